// State shared by the controls' source files (not for other units).
#pragma once

#include <unordered_map>

#include "platform/vcl/Controls.h"

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

}  // namespace controls_detail
