#include "lib/lookandfeel/vlScrollBar.h"

#include <algorithm>

#include "lib/foundation/vlGeometry.h"
#include "lib/lookandfeel/nbThemeManager.h"
#include "lib/lookandfeel/vlControlServices.h"
#include "platform/classes/TypInfoBuild.h"
#include "platform/classes/WeakRef.h"
#include "platform/rtl/Numbers.h"
#include "platform/vcl/ControlsPublish.h"
#include "platform/vcl/Graphics.h"
#include "platform/win/Gdi.h"
#include "platform/win/Windows.h"

using namespace win;

namespace {

// Along-the-bar accessors: the start and end coordinate of a rectangle.
Integer StartOf(const TRect& R, Boolean AVertical) { return AVertical ? R.Top : R.Left; }
Integer EndOf(const TRect& R, Boolean AVertical) { return AVertical ? R.Bottom : R.Right; }

// A band across the bar's whole thickness from AStart to AEnd along it.
TRect Band(Integer AStart, Integer AEnd, Integer AThickness, Boolean AVertical) {
  return AVertical ? TRect{0, AStart, AThickness, AEnd} : TRect{AStart, 0, AEnd, AThickness};
}

}  // namespace

// --- TvlScrollBarViewInfo --------------------------------------------------------------

CL_IMPLEMENT_CLASS(TvlScrollBarViewInfo)

void TvlScrollBarViewInfo::Create(TvlScrollBar* AScrollBar) {
  inherited::Create();
  ScrollBar = AScrollBar;
}

void TvlScrollBarViewInfo::CalculateRects() {
  const Boolean vertical = ScrollBar->Kind() == sbVertical;
  const Integer w = ScrollBar->Width(), h = ScrollBar->Height();
  const Integer length = vertical ? h : w, thickness = vertical ? w : h;
  const Integer arrow =
      vertical ? std::min(GetSystemMetrics(SM_CXVSCROLL), h / 2) : std::min(GetSystemMetrics(SM_CYHSCROLL), w / 2);
  TopLeftArrowRect = Band(0, arrow, thickness, vertical);
  BottomRightArrowRect = Band(length - arrow, length, thickness, vertical);
  CalculateThumbnailRect();
}

void TvlScrollBarViewInfo::CalculateMinThumnailSize() { ThumbnailSize = ScrollBar->GetMinThumbSize(); }

void TvlScrollBarViewInfo::CalculateThumbnailRect() {
  ThumbnailRect = PageUpRect = PageDownRect = TRect{};
  if (!ScrollBar->Enabled()) return;
  const Boolean vertical = ScrollBar->Kind() == sbVertical;
  const Integer thickness = vertical ? ScrollBar->Width() : ScrollBar->Height();
  const Integer start = EndOf(TopLeftArrowRect, vertical), end = StartOf(BottomRightArrowRect, vertical);
  const Integer track = end - start;
  const Integer min = ScrollBar->Min(), max = ScrollBar->Max(), page = ScrollBar->PageSize(),
                pos = ScrollBar->Position();
  Integer length, offset;
  if (page > 0) {
    length = std::min(track, MulDiv(page, track, max - min + 1));
    if (track < ThumbnailSize || max == min) return;
    length = std::max(length, ThumbnailSize);
    const Integer d = max - min - page + 1;
    // A page wider than the range past Min leaves nothing to move through.
    offset = d > 0 ? MulDiv(track - length, std::min(pos - min, d), d) : 0;
  } else {
    length = GetSystemMetrics(vertical ? SM_CYVTHUMB : SM_CXHTHUMB);
    if (track < length) return;
    offset = (track - length <= 0 || max == min) ? 0 : MulDiv(track - length, pos - min, max - min);
  }
  ThumbnailRect = Band(start + offset, start + offset + length, thickness, vertical);
  AdjustPageRects();
}

void TvlScrollBarViewInfo::AdjustPageRects() {
  PageUpRect = PageDownRect = TRect{};
  if (vlIsRectEmpty(ThumbnailRect)) return;
  const Boolean vertical = ScrollBar->Kind() == sbVertical;
  const Integer thickness = vertical ? ScrollBar->Width() : ScrollBar->Height();
  PageUpRect = Band(EndOf(TopLeftArrowRect, vertical), StartOf(ThumbnailRect, vertical), thickness, vertical);
  PageDownRect = Band(EndOf(ThumbnailRect, vertical), StartOf(BottomRightArrowRect, vertical), thickness, vertical);
}

void TvlScrollBarViewInfo::SetThumbnailPos(const TPoint& APos) {
  ThumbnailRect = vlOffsetRect(ThumbnailRect, APos.X - ThumbnailRect.Left, APos.Y - ThumbnailRect.Top);
}

// --- TvlScrollBar ---------------------------------------------------------------------

CL_IMPLEMENT_CLASS_PUBLISHED(TvlScrollBar, P) {
  PublishControlProperties(P, {u"Align", u"Anchors", u"Constraints", u"Ctl3D", u"DragCursor", u"DragMode",
                               u"Enabled", u"ParentCtl3D", u"ParentShowHint", u"PopupMenu", u"ShowHint",
                               u"Visible", u"OnContextPopup", u"OnDragDrop", u"OnDragOver", u"OnEndDrag",
                               u"OnEnter", u"OnExit", u"OnKeyDown", u"OnKeyPress", u"OnKeyUp", u"OnStartDrag"});
  P.Property(u"Kind", &TvlScrollBar::Kind, &TvlScrollBar::SetKind).Default(sbHorizontal);
  P.Property(u"LargeChange", &TvlScrollBar::LargeChange, &TvlScrollBar::SetLargeChange).Default(TScrollBarInc(1));
  P.Property(u"LookAndFeel", &TvlScrollBar::LookAndFeel, &TvlScrollBar::SetLookAndFeel);
  P.Property(u"Max", &TvlScrollBar::Max, &TvlScrollBar::SetMax).Default(100);
  P.Property(u"Min", &TvlScrollBar::Min, &TvlScrollBar::SetMin).Default(0);
  P.Property(u"PageSize", &TvlScrollBar::PageSize, &TvlScrollBar::SetPageSize).Default(0);
  P.Property(u"Position", &TvlScrollBar::Position, &TvlScrollBar::SetPosition).Default(0);
  P.Property(u"SmallChange", &TvlScrollBar::SmallChange, &TvlScrollBar::SetSmallChange).Default(TScrollBarInc(1));
  P.Property(u"UnlimitedTracking", &TvlScrollBar::UnlimitedTracking, &TvlScrollBar::SetUnlimitedTracking)
      .Default(false);
  P.Property(u"OnChange", &TvlScrollBar::OnChange, &TvlScrollBar::SetOnChange);
  P.Property(u"OnScroll", &TvlScrollBar::OnScroll, &TvlScrollBar::SetOnScroll);
}

void TvlScrollBar::Create(TComponent* AOwner) {
  inherited::Create(AOwner);
  FBitmap = New<TBitmap>();
  FBitmap->SetPixelFormat(pfDevice);
  FCanvas = New<TvlCanvas>(FBitmap->Canvas());
  FLookAndFeel = New<TvlLookAndFeel>(static_cast<TPersistent*>(this));
  FLookAndFeel->SetOnChanged(TvlLookAndFeelChangedEvent(this, &TvlScrollBar::LookAndFeelChanged));
  FViewInfo = CreateFrom(GetViewInfoClass(), this);
  SetWidth(121);
  SetControlStyle(TControlStyle{csCaptureMouse, csFramed, csOpaque});
  FKind = sbHorizontal;
  SetHeight(GetSystemMetrics(SM_CYHSCROLL));
  FThemeChangedNotificator = New<TnbThemeChangedNotificator>();
  FThemeChangedNotificator->SetOnThemeChanged(TnbThemeChangedEvent(this, &TvlScrollBar::ThemeChanged));
  FRealCtl3D = inherited::Ctl3D();
  FPosition = 0;
  FMin = 0;
  FMax = 100;
  FSmallChange = 1;
  FLargeChange = 1;
  FTimer = New<TvlTimer>(nullptr);
  FTimer->SetEnabled(false);
  FTimer->SetInterval(400);
  FTimer->SetOnTimer(TNotifyEvent(this, &TvlScrollBar::RepeatTimerHandler));
  RecalculateAll();
}

void TvlScrollBar::Destroy() {
  FreeAndNil(FTimer);
  FreeAndNil(FThemeChangedNotificator);
  FreeAndNil(FViewInfo);
  FreeAndNil(FLookAndFeel);
  FreeAndNil(FCanvas);
  FreeAndNil(FBitmap);
  inherited::Destroy();
}

void TvlScrollBar::RecalculateAll() {
  FViewInfo->CalculateMinThumnailSize();
  FViewInfo->Calculate();
}

TvlScrollBarViewInfoClass TvlScrollBar::GetViewInfoClass() { return ClassOf<TvlScrollBarViewInfo>(); }

TvlCustomLookAndFeelPainterClass TvlScrollBar::CurrentPainter() { return FLookAndFeel->GetAvailablePainter(totScrollBar); }

void TvlScrollBar::SetKind(TScrollBarKind Value) {
  if (FKind == Value) return;
  FKind = Value;
  if (ComponentState().Contains(csLoading))
    FViewInfo->Calculate();
  else
    SetBounds(Left(), Top(), Height(), Width());
  Invalidate();
}

void TvlScrollBar::SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) {
  const TRect before = BoundsRect();
  inherited::SetBounds(ALeft, ATop, AWidth, AHeight);
  if (!FBitmap || vlRectsEqual(before, BoundsRect()) || Width() <= 0 || Height() <= 0) return;
  FBitmap->SetSize(Width(), Height());
  FViewInfo->Calculate();
}

void TvlScrollBar::SetScrollParams(Integer AMin, Integer AMax, Integer APosition, Integer APageSize,
                                   Boolean ARedraw) {
  if (AMax < AMin || AMax < APageSize) throw EInvalidOperation(u"Scrollbar property out of range");
  const Boolean redraw = ARedraw && HandleAllocated();
  APosition = std::min(std::max(APosition, AMin), AMax);
  if (FMin == AMin && FMax == AMax && FPageSize == APageSize && FPosition == APosition) return;
  FMin = AMin;
  FMax = AMax;
  FPageSize = APageSize;
  if (FPosition == APosition) {
    FViewInfo->CalculateThumbnailRect();
    if (redraw) Repaint();
    return;
  }
  SetEnabled(true);
  FPosition = APosition;
  FViewInfo->CalculateThumbnailRect();
  if (redraw) Repaint();
  SignalChange();
}

void TvlScrollBar::SignalChange() {
  Changed();
  if (Assigned(FOnChange)) FOnChange(this);
}

// --- Painting ---------------------------------------------------------------------------

void TvlScrollBar::Paint() {
  PaintScrollBar(FCanvas);
  BitBlt(inherited::Canvas()->Handle(), 0, 0, Width(), Height(), FBitmap->Canvas()->Handle(), 0, 0, SRCCOPY);
}

void TvlScrollBar::PaintScrollBar(TvlCanvas* ACanvas) {
  DrawBackground(ACanvas, TRect{0, 0, Width(), Height()});
  DrawPart(ACanvas, FViewInfo->TopLeftArrowRect, sbpLineUp);
  DrawPart(ACanvas, FViewInfo->BottomRightArrowRect, sbpLineDown);
  if (!vlIsRectEmpty(FViewInfo->ThumbnailRect)) DrawPart(ACanvas, FViewInfo->ThumbnailRect, sbpThumbnail);
  if (!vlIsRectEmpty(FViewInfo->PageUpRect)) DrawPart(ACanvas, FViewInfo->PageUpRect, sbpPageUp);
  if (!vlIsRectEmpty(FViewInfo->PageDownRect)) DrawPart(ACanvas, FViewInfo->PageDownRect, sbpPageDown);
}

void TvlScrollBar::DrawBackground(TvlCanvas* ACanvas, const TRect& R) {
  CurrentPainter()->DrawScrollBarBackground(ACanvas, R, FKind == sbHorizontal);
}

void TvlScrollBar::DrawPartState(TvlCanvas* ACanvas, const TRect& R, TvlScrollBarPart APart, TvlButtonState AState) {
  CurrentPainter()->DrawScrollBarPart(ACanvas, FKind == sbHorizontal, R, APart, AState);
}

void TvlScrollBar::DrawPart(TvlCanvas* ACanvas, const TRect& R, TvlScrollBarPart APart) {
  DrawPartState(ACanvas, R, APart, GetPartState(APart));
}

Boolean TvlScrollBar::IsHotTrackEnabled() { return CurrentPainter()->IsButtonHotTrack(); }

Integer TvlScrollBar::GetMinThumbSize() { return CurrentPainter()->ScrollBarMinimalThumbSize(FKind == sbVertical); }

void TvlScrollBar::DoScroll(TScrollCode AScrollCode, Integer& APosition) {
  if (Assigned(FOnScroll)) FOnScroll(this, AScrollCode, APosition);
}

TvlScrollBarPart TvlScrollBar::GetPartAtPos(const TPoint& P) {
  if (!vlPointInRect(ClientRect(), P)) return sbpNone;
  if (vlPointInRect(FViewInfo->TopLeftArrowRect, P)) return sbpLineUp;
  if (vlPointInRect(FViewInfo->BottomRightArrowRect, P)) return sbpLineDown;
  if (vlIsRectEmpty(FViewInfo->ThumbnailRect)) return sbpNone;
  if (vlPointInRect(FViewInfo->ThumbnailRect, P)) return sbpThumbnail;
  if (vlPointInRect(FViewInfo->PageUpRect, P)) return sbpPageUp;
  if (vlPointInRect(FViewInfo->PageDownRect, P)) return sbpPageDown;
  return sbpNone;
}

TvlButtonState TvlScrollBar::GetPartState(TvlScrollBarPart APart) {
  if (!Enabled()) return vlbsDisabled;
  if (APart != FState.HotPart || (APart == sbpThumbnail && !IsHotTrackEnabled())) return vlbsNormal;
  if (FState.PressedPart == sbpNone)
    return ComponentState().Contains(csDesigning) ? vlbsNormal : vlbsHot;
  return FState.PressedPart == APart ? vlbsPressed : vlbsNormal;
}

// --- Scrolling ----------------------------------------------------------------------------

void TvlScrollBar::ExecuteScrollCode(TScrollCode ACode) {
  Integer pos = FPosition;
  switch (ACode) {
    case scLineUp: pos -= FSmallChange; break;
    case scLineDown: pos += FSmallChange; break;
    case scPageUp: pos -= FLargeChange; break;
    case scPageDown: pos += FLargeChange; break;
    case scTop: pos = FMin; break;
    case scBottom: pos = FMax; break;
    default: break;
  }
  pos = std::min(std::max(pos, FMin), FMax);
  TWeakRef<TvlScrollBar> self(this);
  DoScroll(ACode, pos);
  if (!self) return;  // the handler freed the bar (or the control owning it)
  pos = std::min(std::max(pos, FMin), FMax);
  if (pos == FPosition) return;
  if (ACode == scTrack) {
    FPosition = pos;
    FViewInfo->CalculateThumbnailRect();
    Repaint();
  } else {
    SetPosition(pos);
  }
}

void TvlScrollBar::ScrollForPart(TvlScrollBarPart APart) {
  switch (APart) {
    case sbpLineUp: ExecuteScrollCode(scLineUp); break;
    case sbpLineDown: ExecuteScrollCode(scLineDown); break;
    case sbpThumbnail: ExecuteScrollCode(scTrack); break;
    case sbpPageUp: ExecuteScrollCode(scPageUp); break;
    case sbpPageDown: ExecuteScrollCode(scPageDown); break;
    default: break;
  }
}

Integer TvlScrollBar::GetPositionFromThumbnail() {
  const Boolean vertical = FKind == sbVertical;
  const Integer start = EndOf(FViewInfo->TopLeftArrowRect, vertical);
  const Integer track = StartOf(FViewInfo->BottomRightArrowRect, vertical) - start;
  const Integer thumb = EndOf(FViewInfo->ThumbnailRect, vertical) - StartOf(FViewInfo->ThumbnailRect, vertical);
  const Integer range = FPageSize > 0 ? FMax - FMin - FPageSize + 1 : FMax - FMin;
  const Integer free = track - thumb;
  if (free <= 0) return FMin;
  return FMin + MulDiv(range, StartOf(FViewInfo->ThumbnailRect, vertical) - start, free);
}

void TvlScrollBar::RepeatTimerHandler(TObject*) {
  const TvlScrollBarPart pressed = FState.PressedPart;
  if (MouseCapture() && pressed != sbpNone && pressed != sbpThumbnail) {
    if (FTimer->Interval() == 400) FTimer->SetInterval(60);
    TWeakRef<TvlScrollBar> self(this);
    ScrollForPart(pressed);
    if (!self) return;
    TPoint cursor{};
    GetCursorPos(&cursor);
    FTimer->SetEnabled(GetPartAtPos(ScreenToClient(cursor)) == pressed);
  } else {
    FinishScrolling();
  }
}

void TvlScrollBar::FinishScrolling() {
  if (FState.PressedPart == sbpNone) return;
  // Each scroll code runs handlers that may free the bar.
  TWeakRef<TvlScrollBar> self(this);
  if (FState.PressedPart == sbpThumbnail) {
    SetPosition(GetPositionFromThumbnail());
    if (!self) return;
    ExecuteScrollCode(scPosition);
    if (!self) return;
  }
  FTimer->SetEnabled(false);
  FState.PressedPart = sbpNone;
  FState.HotPart = sbpNone;
  ExecuteScrollCode(scEndScroll);
  if (!self) return;
  FViewInfo->CalculateThumbnailRect();
  Invalidate();
}

// --- Mouse ----------------------------------------------------------------------------------

void TvlScrollBar::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  inherited::MouseDown(Button, Shift, X, Y);
  if (Button != mbLeft) return;
  const TvlScrollBarPart part = GetPartAtPos(TPoint{X, Y});
  if (part == sbpNone) return;
  TWeakRef<TvlScrollBar> self(this);
  if (part == sbpThumbnail) {
    FDownMousePos = TPoint{X, Y};
    FSavePosition = FPosition;
    FSaveThumbnailPos = TPoint{FViewInfo->ThumbnailRect.Left, FViewInfo->ThumbnailRect.Top};
    ExecuteScrollCode(scTrack);
    if (!self) return;
  }
  FState.PressedPart = part;
  FState.HotPart = part;
  if (part != sbpThumbnail) {
    ScrollForPart(part);
    if (!self) return;
    FTimer->SetInterval(400);
    FTimer->SetEnabled(true);
  }
  Repaint();
}

void TvlScrollBar::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  inherited::MouseMove(Shift, X, Y);
  const Boolean vertical = FKind == sbVertical;
  if (FState.PressedPart != sbpThumbnail) {
    const TvlScrollBarPart part = GetPartAtPos(TPoint{X, Y});
    if (FState.PressedPart != sbpNone) FTimer->SetEnabled(part == FState.PressedPart);
    if (part != FState.HotPart) {
      FState.HotPart = part;
      if (IsHotTrackEnabled()) Repaint();
    }
    return;
  }
  const Integer w = Width(), h = Height();
  const TRect zone = vertical ? TRect{-136, -34, w + 136, h + 34} : TRect{-34, -136, w + 34, h + 136};
  if (FUnlimitedTracking || vlPointInRect(zone, TPoint{X, Y})) {
    const Integer delta = vertical ? Y - FDownMousePos.Y : X - FDownMousePos.X;
    if (delta == 0 && (vertical ? FViewInfo->ThumbnailRect.Top == FSaveThumbnailPos.Y
                                : FViewInfo->ThumbnailRect.Left == FSaveThumbnailPos.X))
      return;
    const Integer thumb = EndOf(FViewInfo->ThumbnailRect, vertical) - StartOf(FViewInfo->ThumbnailRect, vertical);
    const Integer first = EndOf(FViewInfo->TopLeftArrowRect, vertical);
    const Integer last = StartOf(FViewInfo->BottomRightArrowRect, vertical) - thumb;
    const Integer saved = vertical ? FSaveThumbnailPos.Y : FSaveThumbnailPos.X;
    const Integer start = std::max(first, std::min(saved + delta, last));
    FViewInfo->SetThumbnailPos(vertical ? TPoint{FSaveThumbnailPos.X, start} : TPoint{start, FSaveThumbnailPos.Y});
    FViewInfo->AdjustPageRects();
    Repaint();
    const Integer pos = GetPositionFromThumbnail();
    if (pos != FPosition) {
      FPosition = pos;
      ScrollForPart(sbpThumbnail);
    }
  } else if (FSavePosition != FPosition) {
    TWeakRef<TvlScrollBar> self(this);
    SetPosition(FSavePosition);
    if (self) ScrollForPart(sbpThumbnail);
  }
}

void TvlScrollBar::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  inherited::MouseUp(Button, Shift, X, Y);
  TWeakRef<TvlScrollBar> self(this);
  FinishScrolling();
  if (self) FState.HotPart = GetPartAtPos(TPoint{X, Y});
}

void TvlScrollBar::MouseEnter(TControl*) {
  if (IsHotTrackEnabled() || (FState.PressedPart != sbpNone && FState.PressedPart != sbpThumbnail)) Repaint();
}

void TvlScrollBar::MouseLeave(TControl*) {
  if (FState.PressedPart == sbpThumbnail) return;
  FState.HotPart = sbpNone;
  Invalidate();
}

// --- Look and feel, 3-D border, themes -----------------------------------------------------

void TvlScrollBar::LookAndFeelChanged(TvlLookAndFeel*, TvlLookAndFeelValues) {
  FChangingCtl3D = true;
  if (FLookAndFeel->SkinPainter() && inherited::Ctl3D()) {
    FRealCtl3D = inherited::Ctl3D();
    inherited::SetCtl3D(false);
  } else if (!FLookAndFeel->SkinPainter()) {
    inherited::SetCtl3D(FRealCtl3D);
  }
  FChangingCtl3D = false;
  RecalculateAll();
  Invalidate();
}

void TvlScrollBar::SetCtl3D(Boolean Value) {
  FRealCtl3D = Value;
  if (inherited::Ctl3D() != Value) inherited::SetCtl3D(Value);
}

void TvlScrollBar::ThemeChanged() {
  RecalculateAll();
  vlUpdateScrollBarBitmaps();
  Invalidate();
  if (Parent()) Parent()->Realign();
}

void TvlScrollBar::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_ERASEBKGND:
      Message.Result = 1;
      break;
    case WM_CANCELMODE:
      inherited::Dispatch(Message);
      FinishScrolling();
      break;
    case CN_HSCROLL:
    case CN_VSCROLL:
      ExecuteScrollCode(TScrollCode(LOWORD(Message.WParam)));
      break;
    case CM_MOUSEENTER:
    case CM_MOUSELEAVE:
      inherited::Dispatch(Message);
      vlNotifyMouseEnterLeave(this, this, Message);
      break;
    case CM_VISIBLECHANGED:
      inherited::Dispatch(Message);
      if (!Visible()) FinishScrolling();
      break;
    case CM_ENABLEDCHANGED:
      inherited::Dispatch(Message);
      FViewInfo->Calculate();
      if (!Enabled()) FinishScrolling();
      Invalidate();
      break;
    case CM_CTL3DCHANGED:
      inherited::Dispatch(Message);
      if (!FChangingCtl3D) {
        FRealCtl3D = inherited::Ctl3D();
        LookAndFeelChanged(FLookAndFeel, TvlLookAndFeelValues{});
      }
      break;
    case CM_SYSCOLORCHANGE:
      vlUpdateScrollBarBitmaps();
      inherited::Dispatch(Message);
      break;
    case CN_CTLCOLORSCROLLBAR:
      vlUpdateScrollBarBitmaps();
      Message.Result = DefWindowProcW(Handle(), Message.Msg, Message.WParam, Message.LParam);
      break;
    default:
      inherited::Dispatch(Message);
  }
}
