// The borderless stay-on-top form the library shows beside an owner area
// (drop-downs, drag feedback): frame styles, sizing around its children,
// placement beside the owner inside the work area with turning to the side
// with more room, and closing when it or the application is deactivated.
#pragma once

#include "lib/foundation/vlGraphics.h"
#include "lib/lookandfeel/vlLookAndFeelPainters.h"
#include "platform/classes/WeakRef.h"
#include "platform/vcl/Forms.h"

CL_ENUM(TvlPopupAlignHorz, Byte, pahLeft, pahCenter, pahRight)
CL_ENUM(TvlPopupAlignVert, Byte, pavTop, pavCenter, pavBottom)
CL_ENUM(TvlPopupDirection, Byte, pdHorizontal, pdVertical)

class TvlPopupWindow : public TForm {
  CL_CLASS(TvlPopupWindow, TForm)
 public:
  using inherited::Create;
  // A form without owner, bsNone, dmDesktop, fsStayOnTop.
  virtual void Create();
  void Destroy() override;

  // InitPopup, CalculateSize, CalculatePosition, Show.
  virtual void Popup();
  // Hides the form.
  virtual void CloseUp();

  Boolean Adjustable() const { return FAdjustable; }
  void SetAdjustable(Boolean Value) { FAdjustable = Value; }
  TvlPopupAlignHorz AlignHorz() const { return FAlignHorz; }
  void SetAlignHorz(TvlPopupAlignHorz Value) { FAlignHorz = Value; }
  TvlPopupAlignVert AlignVert() const { return FAlignVert; }
  void SetAlignVert(TvlPopupAlignVert Value) { FAlignVert = Value; }
  Integer BorderSpace() const { return FBorderSpace; }
  void SetBorderSpace(Integer Value);
  TvlPopupBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TvlPopupBorderStyle Value);
  TRect ClientBounds() { return GetClientBounds(); }
  TvlCanvas* Canvas() const { return FCanvas; }
  TvlPopupDirection Direction() const { return FDirection; }
  void SetDirection(TvlPopupDirection Value) { FDirection = Value; }
  TColor FrameColor() const { return FFrameColor; }
  void SetFrameColor(TColor Value) { FFrameColor = Value; }
  TRect OwnerBounds() const { return FOwnerBounds; }
  void SetOwnerBounds(const TRect& Value) { FOwnerBounds = Value; }
  TControl* OwnerParent() const { return FOwnerParent.Get(); }
  void SetOwnerParent(TControl* Value) { FOwnerParent = Value; }
  TRect OwnerScreenBounds() { return OwnerBoundsOnScreen(); }

  Integer GetNCWidth();
  Integer GetNCHeight();

  void Dispatch(TMessage& Message) override;

  // The top-left point beside the owner (the window's Width and Height).
  virtual TPoint CalculatePosition();
  virtual void CalculateSize();

 protected:
  virtual Integer GetFullBorderWidth(TvlBorder ABorder);
  virtual TRect GetClientBounds();
  virtual Integer GetBorderWidth(TvlBorder ABorder);
  virtual TRect OwnerBoundsOnScreen();
  virtual void InitPopup();
  virtual void DrawFrame();
  virtual void VisibleChanged() {}

  void Paint() override;
  void DoDeactivate() override;
  // Moves the children back by the current left and top full border widths.
  void RestoreControlsPosition();

 private:
  void WMActivate(TMessage& Message);
  void WMActivateApp(TMessage& Message);

  Boolean FAdjustable{};
  TvlPopupAlignHorz FAlignHorz{};
  TvlPopupAlignVert FAlignVert{};
  Integer FBorderSpace{};
  TvlPopupBorderStyle FBorderStyle{};
  TvlCanvas* FCanvas{};
  TvlPopupDirection FDirection{};
  TColor FFrameColor{};
  TRect FOwnerBounds{};
  TWeakRef<TControl> FOwnerParent;
  win::HWND FPrevActiveWindow{};
  Boolean FControlsMoved{};  // CalculateSize moved the children inside the frame
};
