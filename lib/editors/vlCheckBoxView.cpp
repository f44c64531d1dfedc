// The check box's layout (view data) and its painting result (view info).
#include <algorithm>
#include <climits>

#include "lib/editors/vlCheckBox.h"
#include "lib/editors/vlEditUtils.h"
#include "lib/foundation/vlControlBasics.h"
#include "lib/foundation/vlGeometry.h"
#include "lib/foundation/vlGraphics.h"
#include "lib/lookandfeel/nbThemeManager.h"
#include "platform/rtl/Finally.h"
#include "platform/win/UxTheme.h"
#include "platform/win/Windows.h"

using namespace win;

// vlCheckGlyph.cpp
Boolean vlIsCheckGlyphUsable(TBitmap* AGlyph, Integer AGlyphCount);

namespace {

// The gap between the mark and the caption.
constexpr Integer kCheckToTextGap = 3;
// The margin of a stand-alone check box, and of the mark's side in place.
constexpr Integer kStandAloneMargin = 2;
constexpr Integer kInplaceMargin = 2;

TvlEditBorderStyle HotBorderStyle(TvlEditBorderStyle AStyle) {
  switch (AStyle) {
    case ebsNone: return ebsFlat;
    case ebsSingle: case ebsThick: return ebsThick;
    case ebsFlat: case ebs3D: return ebs3D;
    default: return AStyle;
  }
}

}  // namespace

// --- View info -----------------------------------------------------------------------------------------

CL_IMPLEMENT_CLASS(TvlCustomCheckBoxViewInfo)

void TvlCustomCheckBoxViewInfo::Assign(TObject* Source) {
  if (TvlCustomCheckBoxViewInfo* src = dynamic_cast<TvlCustomCheckBoxViewInfo*>(Source)) {
    CheckBoxState = src->CheckBoxState;
    State = src->State;
  }
  inherited::Assign(Source);
}

void TvlCustomCheckBoxViewInfo::Offset(Integer DX, Integer DY) {
  inherited::Offset(DX, DY);
  CheckBoxRect = vlOffsetRect(CheckBoxRect, DX, DY);
  FocusRect = vlOffsetRect(FocusRect, DX, DY);
  TextRect = vlOffsetRect(TextRect, DX, DY);
}

TvlRegion* TvlCustomCheckBoxViewInfo::GetUpdateRegion(TvlContainerViewInfo* AOldViewInfo) {
  TvlRegion* r = inherited::GetUpdateRegion(AOldViewInfo);
  TvlCustomCheckBoxViewInfo* old = dynamic_cast<TvlCustomCheckBoxViewInfo*>(AOldViewInfo);
  if (old && (old->State != State || old->CheckBoxState != CheckBoxState)) r->Combine(New<TvlRegion>(CheckBoxRect), roAdd);
  return r;
}

Boolean TvlCustomCheckBoxViewInfo::Repaint(TWinControl* AControl, const TRect& AInnerEditRect,
                                           TvlContainerViewInfo* AViewInfo) {
  const Boolean result = inherited::Repaint(AControl, AInnerEditRect, AViewInfo);
  TvlCustomCheckBoxViewInfo* old = dynamic_cast<TvlCustomCheckBoxViewInfo*>(AViewInfo);
  if (old && AControl && AControl->HandleAllocated() &&
      (old->State != State || old->CheckBoxState != CheckBoxState)) {
    const RECT r = vlOffsetRect(CheckBoxRect, Left, Top);
    InvalidateRect(AControl->WindowHandle(), &r, false);
  }
  return result;
}

Boolean TvlCustomCheckBoxViewInfo::IsCheckPartiallyTransparent() {
  if (Painter || HasGlyph) return true;
  return NativeStyle && IsThemeBackgroundPartiallyTransparent(nbGetThemeHandle(totButton), BP_CHECKBOX,
                                                              vlCheckBoxThemeState(State, CheckBoxState));
}

void TvlCustomCheckBoxViewInfo::DoPaint(TvlCanvas* ACanvas) {
  const Boolean transparent = IsBackgroundTransparent();
  // A theme mark does not fill its corners: the background goes under it.
  const Boolean markFillsItself = !NativeStyle || Painter || HasGlyph;
  const Boolean underMark = IsCheckPartiallyTransparent() && (transparent || !markFillsItself);
  const TRect mark = vlInflateRectBy(CheckBoxRect, -CheckBorderOffset, -CheckBorderOffset);
  DrawEditBackground(ACanvas, Bounds, underMark ? TRect{} : mark, !underMark);
  const TvlCustomCheckBoxProperties* props = dynamic_cast<TvlCustomCheckBoxProperties*>(EditProperties);
  vlPaintCheckGlyph(ACanvas, CheckBoxRect, State, NullValueShowingStyle, Painter, props && props->AllowGrayed(),
                    Focused, IsDesigning, !transparent, BackgroundColor(), BorderColor, NativeStyle,
                    CheckBoxBorderStyle, CheckBoxGlyphCount, CheckBoxGlyph, CheckBoxState);
  if (Alignment != taCenter) DrawText(ACanvas);
  if (!vlIsRectEmpty(FocusRect)) ACanvas->DrawFocusRect(FocusRect);
}

void TvlCustomCheckBoxViewInfo::DrawText(TvlCanvas* ACanvas) {
  if (Text.empty() || vlIsRectEmpty(TextRect)) return;
  ACanvas->Font()->Assign(Font);
  ACanvas->Font()->SetColor(TextColor);
  ACanvas->Brush()->SetStyle(bsClear);
  const Boolean enabledLooking = IsContainerInnerControl || Enabled || IsTextColorAssigned || NativeStyle;
  ACanvas->DrawTexT(Text, TextRect, DrawCaptionFlags, enabledLooking);
  ACanvas->Brush()->SetStyle(bsSolid);
}

// --- View data -----------------------------------------------------------------------------------------

CL_IMPLEMENT_CLASS(TvlCustomCheckBoxViewData)

Boolean TvlCustomCheckBoxViewData::ShowsCaption() {
  return !IsInplace() || CheckBoxProperties()->ShowsCaptionInplace();
}

Integer TvlCustomCheckBoxViewData::GetDrawTextFlags() {
  TvlCustomCheckBoxProperties* props = CheckBoxProperties();
  const TAlignment align = HorzAlignment;
  Integer flags = (align == taCenter ? vlAlignHCenter : vlAlignLeft) | vlShowPrefix;
  if (props->MultiLine())
    flags |= vlWordBreak | vlDontClip;
  else
    flags |= vlSingleLine;
  flags |= (IsInplace() || !props->MultiLine()) ? vlAlignVCenter : vlAlignTop;
  return flags;
}

void TvlCustomCheckBoxViewData::Calculate(TvlCanvas* ACanvas, const TRect& ABounds, const TPoint& P,
                                          TvlMouseButton Button, TShiftState Shift,
                                          TvlCustomEditViewInfo* AViewInfo, Boolean AIsMouseEvent) {
  const TvlEditCheckState prevState = static_cast<TvlCustomCheckBoxViewInfo*>(AViewInfo)->CheckBoxState;
  inherited::Calculate(ACanvas, ABounds, P, Button, Shift, AViewInfo, AIsMouseEvent);
  TvlCustomCheckBoxViewInfo* vi = static_cast<TvlCustomCheckBoxViewInfo*>(AViewInfo);
  TvlCustomCheckBoxProperties* props = CheckBoxProperties();
  const TRect client = vi->ClientRect;
  if (Edit()) vi->Text = Edit()->Caption();

  // The side of the mark.
  const Boolean useAlignment =
      !IsInplace() || props->ShowsCaptionInplace() || props->UseAlignmentWhenInplace() || !vi->Text.empty();
  vi->Alignment = useAlignment ? props->Alignment()->Horz() : taCenter;
  HorzAlignment = vi->Alignment;
  vi->DrawCaptionFlags = GetDrawTextFlags();

  const TvlEditBorderStyle styleBorder = TvlEditBorderStyle(Style()->BorderStyle());
  vi->CheckBoxBorderStyle = vi->HotState == chsSelected ? HotBorderStyle(styleBorder) : styleBorder;
  vi->CheckBoxGlyph = props->GlyphOrNil();
  vi->CheckBoxGlyphCount = props->GlyphCount();
  vi->NullValueShowingStyle = props->NullStyle();
  vi->HasGlyph = vlIsCheckGlyphUsable(vi->CheckBoxGlyph, vi->CheckBoxGlyphCount);
  vi->CheckBorderOffset = vlCheckGlyphBorderOffset(vi->CheckBoxBorderStyle, vi->NativeStyle, vi->HasGlyph, vi->Painter);
  vi->IsTextColorAssigned = Style()->IsValueAssigned(svTextColor) ||
                            (vi->Painter && vi->Painter->DefaultEditorTextColor(true) != clDefault);

  TSize check{};
  vlCheckGlyphSize(ACanvas, vi->NativeStyle, vi->CheckBoxGlyph, check, vi->Painter, vi->CheckBoxGlyphCount);

  // The mark.
  TRect r = client;
  if (IsInplace() && !props->ShowsCaptionInplace()) {
    if (vi->Alignment == taLeftJustify) r.Left += kInplaceMargin;
    if (vi->Alignment == taRightJustify) r.Right -= kInplaceMargin;
  } else if (!IsInplace())
    r = vlInflateRectBy(r, -kStandAloneMargin, -kStandAloneMargin);
  const Integer checkWidth = std::min<Integer>(check.cx, r.Width());
  TRect checkRect;
  checkRect.Left = r.Left + (r.Width() - checkWidth) / 2;
  checkRect.Top = r.Top + (r.Height() - check.cy) / 2;
  if (r.Width() > check.cx) {
    if (vi->Alignment == taLeftJustify) checkRect.Left = r.Left;
    if (vi->Alignment == taRightJustify) checkRect.Left = r.Right - checkWidth;
  }
  checkRect.Right = checkRect.Left + checkWidth;
  checkRect.Bottom = checkRect.Top + check.cy;
  vi->CheckBoxRect = checkRect;

  // The caption.
  TRect t = client;
  if (IsInplace()) {
    if (vi->Alignment == taLeftJustify) t.Right -= kInplaceMargin;
    if (vi->Alignment == taRightJustify) t.Left += kInplaceMargin;
    t.Top += ContentOffset.Top;
    t.Bottom -= ContentOffset.Bottom;
  } else {
    t = vlInflateRectBy(t, -kStandAloneMargin, -kStandAloneMargin);
    if (!(vlGetEditGlobalOption() && (vi->NativeStyle || vi->Painter))) t.Top -= 1;
  }
  if (checkRect.Width() == client.Width())
    t = TRect{};
  else if (vi->Alignment == taLeftJustify)
    t.Left = checkRect.Right + kCheckToTextGap;
  else if (vi->Alignment == taRightJustify)
    t.Right = checkRect.Left - kCheckToTextGap;
  const Boolean embossed = !vi->IsContainerInnerControl && !Enabled && !vi->IsTextColorAssigned && !vi->NativeStyle;
  if (embossed && !vi->Painter && !vlIsRectEmpty(t)) {
    t.Right += 1;
    t.Bottom += 1;
  }
  vi->TextRect = t;

  // How the mark looks.
  TvlEditCheckState state = ecsNormal;
  const TvlCustomCheckBox* box = dynamic_cast<TvlCustomCheckBox*>(Edit());
  if (!Enabled)
    state = ecsDisabled;
  else if (box && box->IsCheckPressed())
    state = ecsPressed;
  else if (!IsDesigning && vlPointInRect(vi->BorderRect, P)) {
    const Boolean held = Shift.Contains(ssLeft) || Shift.Contains(ssRight) || Shift.Contains(ssMiddle);
    if (!held)
      state = ecsHot;
    else if (Shift.Contains(ssLeft) && (Button == vlmbLeft || prevState == ecsPressed))
      state = ecsPressed;
  }
  vi->CheckBoxState = state;

  CalculateFocusRect(ACanvas, vi);
  if (IsInplace() && vi->CheckBoxBorderStyle == ebsSingle)
    vi->BorderColor = (state == ecsHot || (IsDesigning && state != ecsDisabled)) ? clHighlight : clBtnShadow;
}

void TvlCustomCheckBoxViewData::CalculateFocusRect(TvlCanvas*, TvlCustomCheckBoxViewInfo* AViewInfo) {
  TvlCustomCheckBoxViewInfo* vi = AViewInfo;
  TRect r{};
  if (vi->Focused) {
    if (ShowsCaption() && vi->Alignment != taCenter) {
      if (!vi->Text.empty() && !vlIsRectEmpty(vi->TextRect)) {
        r = vi->TextRect;
        if (!CheckBoxProperties()->FullFocusRect()) {
          // The control's canvas may be outside painting: measure on the screen's.
          TvlScreenCanvas* canvas = vlGetScreenCanvas();
          Finally dormant([&] { canvas->Dormant(); });
          canvas->Font()->Assign(vi->Font);
          canvas->TextExtent(vi->Text, r, vi->DrawCaptionFlags);
        }
        r = vlInflateRectBy(r, 1, 1);
        r.Bottom += 1;
      }
    } else if (IsInplace() && vi->Alignment == taCenter && vi->PaintOptions.Contains(epoShowFocusRectWhenInplace))
      r = vlInflateRectBy(vi->ClientRect, -1, -1);
  }
  if (!vlIsRectEmpty(r)) {
    TRect limit;
    if (vi->Alignment == taCenter)
      limit = TRect{r.Left, vi->ClientRect.Top, r.Right, vi->ClientRect.Bottom};
    else {
      limit = vlInflateRectBy(vi->TextRect, 1, 1);
      if (IsInplace()) {
        limit.Top += 1;
        limit.Bottom -= 1;
      }
      limit.Right = std::min<Integer>(limit.Right, vi->BorderRect.Right - 1);
    }
    r = TRect{std::max(r.Left, limit.Left), std::max(r.Top, limit.Top), std::min(r.Right, limit.Right),
              std::min(r.Bottom, limit.Bottom)};
    if (vlIsRectEmpty(r)) r = TRect{};
  }
  vi->FocusRect = r;
}

void TvlCustomCheckBoxViewData::EditValueToDrawValue(TvlCanvas* ACanvas, const Variant& AEditValue,
                                                     TvlCustomEditViewInfo* AViewInfo) {
  TvlCustomCheckBoxViewInfo* vi = static_cast<TvlCustomCheckBoxViewInfo*>(AViewInfo);
  vi->State = PreviewMode ? cbsChecked : CheckBoxProperties()->GetState(AEditValue);
  if (IsInplace() && !CheckBoxProperties()->ShowsCaptionInplace()) vi->Text = String();
  CalculateFocusRect(ACanvas, vi);
}

TSize TvlCustomCheckBoxViewData::GetEditContentSize(TvlCanvas* ACanvas, const Variant& AEditValue,
                                                    const TvlEditSizeProperties& AEditSizeProperties) {
  TvlCustomCheckBoxProperties* props = CheckBoxProperties();
  TvlCustomLookAndFeelPainterClass painter = FStyle->LookAndFeel()->SkinPainter();
  TBitmap* glyph = props->GlyphOrNil();
  const Integer count = props->GlyphCount();
  TSize check{};
  vlCheckGlyphSize(ACanvas, NativeStyle, glyph, check, painter, count);
  const Integer offset = vlCheckGlyphBorderOffset(TvlEditBorderStyle(FStyle->BorderStyle()), NativeStyle,
                                                  vlIsCheckGlyphUsable(glyph, count), painter);
  String caption = Edit() ? Edit()->Caption() : String();
  const Boolean centred = !IsInplace() ? false : !(props->ShowsCaptionInplace() || props->UseAlignmentWhenInplace());
  TSize size = check;
  ACanvas->Font()->Assign(FStyle->GetVisibleFont());
  if (!centred && !caption.empty() && props->Alignment()->Horz() != taCenter)
    size.cx += kStandAloneMargin * 2 + kCheckToTextGap + ACanvas->TextWidth(vlStripAccelChars(caption));
  else
    size.cx += 4;
  size.cy += IsInplace() ? 2 * (1 - offset) : 4;
  const Boolean measureGg = centred || IsInplace() || caption.empty();
  Integer flags = (props->MultiLine() ? (vlWordBreak | vlDontClip) : vlSingleLine) | vlShowPrefix;
  Integer width = AEditSizeProperties.Width > 0 ? AEditSizeProperties.Width - check.cx - 7 : INT_MAX / 2;
  if (!Enabled && !NativeStyle) width -= 1;
  TRect r{0, 0, std::max<Integer>(width, 1), 0};
  ACanvas->TextExtent(measureGg ? String(u"Gg") : caption, r, flags | vlCalcRect);
  size.cy = std::max<Integer>(size.cy, r.Height());
  return size;
}
