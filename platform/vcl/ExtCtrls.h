// ExtCtrls: panels with bevels, bevels, images and timers.
#pragma once

#include "platform/vcl/Controls.h"
#include "platform/vcl/StdCtrls.h"

CL_ENUM(TBevelCut, Byte, bvNone, bvLowered, bvRaised, bvSpace)
CL_ENUM(TBevelShape, Byte, bsBox, bsFrame, bsTopLine, bsBottomLine, bsLeftLine, bsRightLine, bsSpacer)
CL_ENUM(TBevelStyle, Byte, bsLowered, bsRaised)
using TBevelWidth = Integer;

// Draws a 3D frame Width pixels wide inside Rect (top and left in TopColor,
// bottom and right in BottomColor) and shrinks Rect by the frame.
void Frame3D(TCanvas* Canvas, TRect& Rect, TColor TopColor, TColor BottomColor, Integer Width);

// --- Panel ------------------------------------------------------------------------

class TCustomPanel : public TCustomControl {
  CL_CLASS(TCustomPanel, TCustomControl)
 public:
  void Create(TComponent* AOwner) override;
  void Dispatch(TMessage& Message) override;

  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment Value);
  TBevelCut BevelInner() const { return FBevelInner; }
  void SetBevelInner(TBevelCut Value);
  TBevelCut BevelOuter() const { return FBevelOuter; }
  void SetBevelOuter(TBevelCut Value);
  TBevelWidth BevelWidth() const { return FBevelWidth; }
  void SetBevelWidth(TBevelWidth Value);
  TBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TBorderStyle Value);
  Boolean FullRepaint() const { return FFullRepaint; }
  void SetFullRepaint(Boolean Value) { FFullRepaint = Value; }

 protected:
  void AdjustClientRect(TRect& Rect) override;
  void CreateParams(TCreateParams& Params) override;
  void Paint() override;
  void Resize() override;
  void CMTextChanged(TMessage& Message);
  void CMCtl3DChanged(TMessage& Message);
  void CMBorderChanged(TMessage& Message);

 private:
  TAlignment FAlignment{};
  TBevelCut FBevelInner{};
  TBevelCut FBevelOuter{};
  TBevelWidth FBevelWidth{};
  TBorderStyle FBorderStyle{};
  Boolean FFullRepaint{};
};

class TPanel : public TCustomPanel {
  CL_CLASS(TPanel, TCustomPanel)
};

// --- Bevel ------------------------------------------------------------------------

class TBevel : public TGraphicControl {
  CL_CLASS(TBevel, TGraphicControl)
 public:
  void Create(TComponent* AOwner) override;
  TBevelShape Shape() const { return FShape; }
  void SetShape(TBevelShape Value);
  TBevelStyle Style() const { return FStyle; }
  void SetStyle(TBevelStyle Value);

 protected:
  void Paint() override;

 private:
  TBevelShape FShape{};
  TBevelStyle FStyle{};
};

// --- Image ------------------------------------------------------------------------

class TImage : public TGraphicControl {
  CL_CLASS(TImage, TGraphicControl)
 public:
  void Create(TComponent* AOwner) override;
  void Destroy() override;

  // The picture's bitmap canvas (an empty picture gets a bitmap of the
  // control's size first); EInvalidOperation for other graphics.
  TCanvas* Canvas();
  TPicture* Picture() const { return FPicture; }
  void SetPicture(TPicture* Value);
  Boolean Center() const { return FCenter; }
  void SetCenter(Boolean Value);
  Boolean Proportional() const { return FProportional; }
  void SetProportional(Boolean Value);
  Boolean Stretch() const { return FStretch; }
  void SetStretch(Boolean Value);
  Boolean Transparent() const { return FTransparent; }
  void SetTransparent(Boolean Value);
  // Where the picture is drawn in the client area.
  TRect DestRect();

 protected:
  Boolean CanAutoSize(Integer& NewWidth, Integer& NewHeight) override;
  void Paint() override;
  virtual void PictureChanged(TObject* Sender);

 private:
  TPicture* FPicture{};
  Boolean FCenter{};
  Boolean FProportional{};
  Boolean FStretch{};
  Boolean FTransparent{};
  Boolean FDrawing{};
};

// --- Timer ------------------------------------------------------------------------

// Calls OnTimer every Interval milliseconds while Enabled, through a timer
// of a hidden window (AllocateHWnd); an exception of the handler goes to the
// application's handler.
class TTimer : public TComponent {
  CL_CLASS(TTimer, TComponent)
 public:
  void Create(TComponent* AOwner) override;
  void Destroy() override;
  Boolean Enabled() const { return FEnabled; }
  void SetEnabled(Boolean Value);
  Cardinal Interval() const { return FInterval; }
  void SetInterval(Cardinal Value);
  const TNotifyEvent& OnTimer() const { return FOnTimer; }
  void SetOnTimer(const TNotifyEvent& Value);

 protected:
  virtual void Timer();

 private:
  void UpdateTimer();
  void WndProc(TMessage& Message);

  Cardinal FInterval{};
  win::HWND FWindowHandle{};
  TNotifyEvent FOnTimer;
  Boolean FEnabled{};
};

// Registers the classes for form streaming (the unit's start-up step).
void RegisterExtCtrlsClasses();
