// State and helpers shared by the controls' and forms' source files (not for
// other units).
#pragma once

#include <unordered_map>

#include "platform/vcl/Controls.h"

class TChangeLink;
class TCustomImageList;

namespace controls_detail {

// The graphic control that has the mouse captured through its parent.
extern TControl* CaptureControl;
// The control the mouse is over (CM_MOUSEENTER/CM_MOUSELEAVE tracking).
extern TControl* MouseControl;
// Counts the exceptions MainWndProc caught (the focus steps stop after one).
extern int HandledExceptionCount;
// The framework control of each window handle.
std::unordered_map<win::HWND, TWinControl*>& HandleMap();
win::HCURSOR CursorHandle(TCursor Cursor);
TCursor ScreenCursor();
TWinControl* FocusRoot(TControl* Control);
LPARAM PointToLParam(const TPoint& P);
// Moves the mouse-over tracking to Control (leave, then enter).
void SetMouseControl(TControl* Control);
// Keeps bounds inside the window layer's coordinate range (widths and
// heights not negative), so that no sum of them overflows.
void ClampBounds(Integer& ALeft, Integer& ATop, Integer& AWidth, Integer& AHeight);
// Forgets a control that is being destroyed.
void ControlDestroyed(TControl* Control);

// Points Images at Value, moving Client's change link and free notification
// from the old image list to the new one; false when Value is already set.
bool SetLinkedImages(TCustomImageList*& Images, TCustomImageList* Value, TChangeLink* Link,
                     TComponent* Client);

// Lends a paint DC to a canvas for a scope: locks the canvas and gives it the
// DC; on the way out (also by an exception) takes the DC back and unlocks.
class TCanvasPaintScope {
 public:
  TCanvasPaintScope(TCanvas* Canvas, win::HDC DC) : FCanvas(Canvas) {
    FCanvas->Lock();
    FCanvas->SetHandle(DC);
  }
  ~TCanvasPaintScope() {
    FCanvas->SetHandle(nullptr);
    FCanvas->Unlock();
  }
  TCanvasPaintScope(const TCanvasPaintScope&) = delete;
  TCanvasPaintScope& operator=(const TCanvasPaintScope&) = delete;

 private:
  TCanvas* FCanvas;
};

}  // namespace controls_detail
