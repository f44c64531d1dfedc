// The library's self-drawn scroll bar: parts painted by the look and feel's
// painter into an off-screen bitmap, hot and pressed parts, auto-repeat on
// arrows and page areas, thumb dragging inside a tracking zone with the
// jump back outside it, scroll codes, OnScroll and OnChange.
#pragma once

#include "lib/lookandfeel/vlControlServices.h"
#include "lib/lookandfeel/vlLookAndFeels.h"
#include "platform/vcl/StdCtrls.h"

class TvlTimer;
class TnbThemeChangedNotificator;
class TvlScrollBar;

struct TvlScrollBarState {
  TvlScrollBarPart PressedPart{};
  TvlScrollBarPart HotPart{};
};

// The rectangles of a scroll bar's parts.
class TvlScrollBarViewInfo : public TObject {
  CL_CLASS(TvlScrollBarViewInfo, TObject)
 public:
  virtual void CalculateRects();
  virtual void Create(TvlScrollBar* AScrollBar);
  virtual void Calculate() { CalculateRects(); }

  void AdjustPageRects();
  void CalculateMinThumnailSize();
  void CalculateThumbnailRect();
  // Moves the thumb to start at APos along the bar.
  void SetThumbnailPos(const TPoint& APos);

  TRect BottomRightArrowRect{};
  TRect PageDownRect{};
  TRect PageUpRect{};
  TvlScrollBar* ScrollBar{};
  TRect ThumbnailRect{};
  Integer ThumbnailSize{};
  TRect TopLeftArrowRect{};
};
using TvlScrollBarViewInfoClass = TClassOf<TvlScrollBarViewInfo>;

class TvlScrollBar : public TCustomControl, public IvlSkinnableControl, public IvlMouseEnterLeave {
  CL_CLASS(TvlScrollBar, TCustomControl)
 public:
  void Create(TComponent* AOwner) override;
  void Destroy() override;

  void SetScrollParams(Integer AMin, Integer AMax, Integer APosition, Integer APageSize, Boolean ARedraw = true);
  void SetParams(Integer APosition, Integer AMin, Integer AMax) { SetScrollParams(AMin, AMax, APosition, FPageSize); }
  void SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) override;

  TScrollBarKind Kind() const { return FKind; }
  void SetKind(TScrollBarKind Value);
  TScrollBarInc LargeChange() const { return FLargeChange; }
  void SetLargeChange(TScrollBarInc Value) { FLargeChange = Value; }
  TScrollBarInc SmallChange() const { return FSmallChange; }
  void SetSmallChange(TScrollBarInc Value) { FSmallChange = Value; }
  TvlLookAndFeel* LookAndFeel() const { return FLookAndFeel; }
  void SetLookAndFeel(TvlLookAndFeel* Value) { FLookAndFeel->Assign(Value); }
  Integer Max() const { return FMax; }
  void SetMax(Integer Value) { SetScrollParams(FMin, Value, FPosition, FPageSize); }
  Integer Min() const { return FMin; }
  void SetMin(Integer Value) { SetScrollParams(Value, FMax, FPosition, FPageSize); }
  Integer PageSize() const { return FPageSize; }
  void SetPageSize(Integer Value) { SetScrollParams(FMin, FMax, FPosition, Value); }
  Integer Position() const { return FPosition; }
  void SetPosition(Integer Value) { SetScrollParams(FMin, FMax, Value, FPageSize); }
  Boolean UnlimitedTracking() const { return FUnlimitedTracking; }
  void SetUnlimitedTracking(Boolean Value) { FUnlimitedTracking = Value; }
  Boolean Ctl3D() const { return inherited::Ctl3D() || FRealCtl3D; }
  void SetCtl3D(Boolean Value);
  const TNotifyEvent& OnChange() const { return FOnChange; }
  void SetOnChange(const TNotifyEvent& Value) { FOnChange = Value; }
  const TScrollEvent& OnScroll() const { return FOnScroll; }
  void SetOnScroll(const TScrollEvent& Value) { FOnScroll = Value; }

  TvlScrollBarViewInfo* ViewInfo() const { return FViewInfo; }
  TvlScrollBarState State() const { return FState; }
  TvlTimer* Timer() const { return FTimer; }
  TvlCustomLookAndFeelPainterClass CurrentPainter();
  TvlScrollBarPart GetPartAtPos(const TPoint& P);
  TvlButtonState GetPartState(TvlScrollBarPart APart);
  // The position the thumb stands for where it is drawn now.
  Integer GetPositionFromThumbnail();

  void Dispatch(TMessage& Message) override;

 protected:
  virtual void SignalChange();
  virtual TvlScrollBarViewInfoClass GetViewInfoClass();
  virtual void PaintScrollBar(TvlCanvas* ACanvas);
  virtual void DrawBackground(TvlCanvas* ACanvas, const TRect& R);
  virtual void DrawPartState(TvlCanvas* ACanvas, const TRect& R, TvlScrollBarPart APart, TvlButtonState AState);
  virtual void DrawPart(TvlCanvas* ACanvas, const TRect& R, TvlScrollBarPart APart);
  virtual Boolean IsHotTrackEnabled();
  virtual void DoScroll(TScrollCode AScrollCode, Integer& APosition);
  virtual Integer GetMinThumbSize();
  void MouseEnter(TControl* AControl) override;
  void MouseLeave(TControl* AControl) override;

  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;

  void ExecuteScrollCode(TScrollCode ACode);
  void ScrollForPart(TvlScrollBarPart APart);
  void FinishScrolling();
  void LookAndFeelChanged(TvlLookAndFeel* Sender, TvlLookAndFeelValues AChangedValues);
  void ThemeChanged();

 private:
  void RepeatTimerHandler(TObject* Sender);
  void RecalculateAll();

  TBitmap* FBitmap{};
  TvlCanvas* FCanvas{};
  TPoint FDownMousePos{};
  TScrollBarKind FKind{};
  TScrollBarInc FLargeChange{};
  TScrollBarInc FSmallChange{};
  TvlLookAndFeel* FLookAndFeel{};
  Integer FMax{};
  Integer FMin{};
  Integer FPageSize{};
  Integer FPosition{};
  Boolean FRealCtl3D{};
  Integer FSavePosition{};
  TPoint FSaveThumbnailPos{};
  TnbThemeChangedNotificator* FThemeChangedNotificator{};
  TvlTimer* FTimer{};
  Boolean FUnlimitedTracking{};
  Boolean FChangingCtl3D{};  // LookAndFeelChanged sets the inherited Ctl3D itself
  TNotifyEvent FOnChange;
  TScrollEvent FOnScroll;
  TvlScrollBarState FState{};
  TvlScrollBarViewInfo* FViewInfo{};

  friend class TvlScrollBarViewInfo;
};
