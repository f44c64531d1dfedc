// The radio group's view data (metrics, checked item, native parts) and view
// info (the buttons of cells and paint copies: glyph and caption).
#include "lib/editors/vlEditUtils.h"
#include "lib/editors/vlRadioGroup.h"
#include "lib/foundation/vlGeometry.h"
#include "lib/foundation/vlTextLayout.h"
#include "lib/lookandfeel/nbThemeManager.h"
#include "lib/lookandfeel/vlRadioButtonImageList.h"
#include "platform/rtl/Finally.h"
#include "platform/win/UxTheme.h"

using namespace win;

namespace {

// Radio-group button metrics, stand-alone and in place.
constexpr Integer kLeftOffset = 6, kInplaceLeftOffset = 1;
constexpr Integer kAreaWidthCorrection = -6, kInplaceAreaWidthCorrection = -2;
constexpr Integer kGlyphToTextGap = 7, kNativeGlyphToTextGap = 5;
constexpr Integer kTextIndent = 3, kNativeTextIndent = 1;
constexpr Integer kExtraWidth = 6, kInplaceExtraWidth = 1;
constexpr Integer kWidthCorrection = -6, kInplaceWidthCorrection = -5;

// Theme states of a radio button: unchecked, then checked, by button state
// (disabled, normal, pressed, hot).
constexpr Integer kUncheckedStates[] = {RBS_UNCHECKEDDISABLED, RBS_UNCHECKEDNORMAL, RBS_UNCHECKEDPRESSED,
                                        RBS_UNCHECKEDHOT};
constexpr Integer kCheckedStates[] = {RBS_CHECKEDDISABLED, RBS_CHECKEDNORMAL, RBS_CHECKEDPRESSED, RBS_CHECKEDHOT};

TvlButtonState ButtonStateOf(TvlEditButtonState AState) {
  switch (AState) {
    case ebsDisabled: return vlbsDisabled;
    case ebsPressed: return vlbsPressed;
    case ebsSelected: return vlbsHot;
    default: return vlbsNormal;
  }
}

TvlLookAndFeelKind KindOfButtonStyle(TvlEditButtonStyle AStyle) {
  switch (AStyle) {
    case btsFlat: return lfFlat;
    case btsUltraFlat: return lfUltraFlat;
    case btsOffice11: return lfOffice11;
    default: return lfStandard;
  }
}

}  // namespace

CL_IMPLEMENT_CLASS(TvlRadioGroupButtonViewInfo)

TRect TvlRadioGroupButtonViewInfo::GetGlyphRect(const TSize& AGlyphSize, TAlignment AAlignment,
                                                Boolean AIsPaintCopy) {
  TRect r = inherited::GetGlyphRect(AGlyphSize, AAlignment, AIsPaintCopy);
  if (AIsPaintCopy && !Data.NativeStyle) r = vlOffsetRect(r, 1, 0);
  return r;
}

CL_IMPLEMENT_CLASS(TvlCustomRadioGroupViewInfo)

void TvlCustomRadioGroupViewInfo::Create() {
  inherited::Create();
  ItemIndex = -1;
  vlGetRadioButtonImages();
}

TvlEditButtonViewInfoClass TvlCustomRadioGroupViewInfo::ButtonViewInfoClass() const {
  return ClassOf<TvlRadioGroupButtonViewInfo>();
}

Boolean TvlCustomRadioGroupViewInfo::IsButtonGlyphTransparent(TvlGroupBoxButtonViewInfo* AButtonViewInfo) {
  if (IsBackgroundTransparent()) return true;
  return AButtonViewInfo->Data.NativeStyle && AButtonViewInfo->Data.BackgroundPartiallyTransparent;
}

void TvlCustomRadioGroupViewInfo::DrawButtonGlyph(TvlCanvas* ACanvas, TvlGroupBoxButtonViewInfo* AButtonViewInfo,
                                                  const TRect& AGlyphRect) {
  ACanvas->SaveClipRegion();
  Finally restore([&] { ACanvas->RestoreClipRegion(); });
  ACanvas->IntersectClipRect(AButtonViewInfo->Bounds);
  if (AButtonViewInfo->Data.NativeStyle) {
    DrawThemeBackground(nbGetThemeHandle(totButton), ACanvas->Handle(), BP_RADIOBUTTON,
                        AButtonViewInfo->Data.NativeState, &AGlyphRect, nullptr);
    return;
  }
  TvlCustomLookAndFeelPainterClass painter =
      Painter ? Painter : vlGetButtonPainterClass(false, KindOfButtonStyle(AButtonViewInfo->Data.Style));
  painter->DrawRadioButton(ACanvas, AGlyphRect.Left, AGlyphRect.Top, ButtonStateOf(AButtonViewInfo->Data.State),
                           ItemIndex == AButtonViewInfo->Index, false,
                           IsBackgroundTransparent() ? clDefault : BackgroundColor(), IsDesigning);
}

void TvlCustomRadioGroupViewInfo::DrawButtonCaption(TvlCanvas* ACanvas, TvlGroupBoxButtonViewInfo* AButtonViewInfo,
                                                    const TRect& AGlyphRect) {
  ACanvas->Font()->Assign(Font);
  ACanvas->Font()->SetColor(TextColor);
  PrepareCanvasFont(ACanvas);
  TRect r = AButtonViewInfo->Bounds;
  if (Alignment == taRightJustify)
    r.Left = AGlyphRect.Right;
  else
    r.Right = AGlyphRect.Left;
  const TRect offsets = AButtonViewInfo->Data.NativeStyle ? TRect{3, -1, 0, -1} : TRect{5, 0, 1, 0};
  r = vlDeflateRectByBorders(r, offsets);
  if (IsDBEditPaintCopyDrawing) r = vlOffsetRect(r, 0, -1);
  ACanvas->Brush()->SetStyle(bsClear);
  ACanvas->DrawTexT(AButtonViewInfo->Caption, r, Integer(DrawTextFlags), true);
  if (!Focused || IsInplace) return;
  TRect focus = r;
  ACanvas->TextExtent(AButtonViewInfo->Caption, focus, Integer(DrawTextFlags));
  focus = vlInflateRectSides(focus, 1, 1, 1, 2);
  ACanvas->Brush()->SetStyle(bsSolid);
  ACanvas->Brush()->SetColor(BackgroundColor());
  ACanvas->DrawFocusRect(focus);
}

CL_IMPLEMENT_CLASS(TvlCustomRadioGroupViewData)

void TvlCustomRadioGroupViewData::Calculate(TvlCanvas* ACanvas, const TRect& ABounds, const TPoint& P,
                                            TvlMouseButton Button, TShiftState Shift,
                                            TvlCustomEditViewInfo* AViewInfo, Boolean AIsMouseEvent) {
  TvlCustomRadioGroupViewInfo* vi = static_cast<TvlCustomRadioGroupViewInfo*>(AViewInfo);
  vi->Alignment = taRightJustify;
  inherited::Calculate(ACanvas, ABounds, P, Button, Shift, AViewInfo, AIsMouseEvent);
  vi->GlyphSize = FStyle->LookAndFeel()->GetAvailablePainter(totButton)->RadioButtonSize();
  vi->SetBackgroundColor(FStyle->Color());
  if (TvlCustomRadioGroup* group = dynamic_cast<TvlCustomRadioGroup*>(Edit())) vi->ItemIndex = group->ItemIndex();
}

void TvlCustomRadioGroupViewData::EditValueToDrawValue(TvlCanvas*, const Variant& AEditValue,
                                                       TvlCustomEditViewInfo* AViewInfo) {
  TvlCustomRadioGroupViewInfo* vi = static_cast<TvlCustomRadioGroupViewInfo*>(AViewInfo);
  vi->ItemIndex = PreviewMode ? 0 : RadioProperties()->GetRadioGroupItemIndex(AEditValue);
  if (PaintOptions.Contains(epoAutoHeight))
    vi->PaintOptions.Include(epoAutoHeight);
  else
    vi->PaintOptions.Exclude(epoAutoHeight);
}

void TvlCustomRadioGroupViewData::GetButtonMetrics(TvlCanvas* ACanvas, TvlButtonMetrics& AMetrics) {
  const Boolean inplace = IsInplace();
  AMetrics.ColumnLeftOffset = inplace ? kInplaceLeftOffset : kLeftOffset;
  AMetrics.ColumnWidthCorrection = inplace ? kInplaceAreaWidthCorrection : kAreaWidthCorrection;
  AMetrics.ColumnGap = 0;
  if (!ACanvas) return;
  const TSize glyph = FStyle->LookAndFeel()->GetAvailablePainter(totButton)->RadioButtonSize();
  AMetrics.GlyphWidth = glyph.cx;
  AMetrics.GlyphHeight = glyph.cy;
  const Boolean native = IsButtonNativeStyle(FStyle->LookAndFeel());
  AMetrics.AutoWidthGlyphToTextGap = native ? kNativeGlyphToTextGap : kGlyphToTextGap;
  AMetrics.FixedWidthTextIndent = native ? kNativeTextIndent : kTextIndent;
  AMetrics.AutoWidthExtraWidth = inplace ? kInplaceExtraWidth : kExtraWidth;
  AMetrics.FixedWidthWidthCorrection = inplace ? kInplaceWidthCorrection : kWidthCorrection;
}

void TvlCustomRadioGroupViewData::CalculateButtonNativeInfo(TvlCustomEditViewInfo* AViewInfo,
                                                            TvlGroupBoxButtonViewInfo* AButtonViewInfo) {
  if (!AButtonViewInfo->Data.NativeStyle) return;
  TvlCustomRadioGroupViewInfo* vi = static_cast<TvlCustomRadioGroupViewInfo*>(AViewInfo);
  const Boolean checked = vi->ItemIndex == AButtonViewInfo->Index;
  const Integer state = (checked ? kCheckedStates : kUncheckedStates)[Integer(AButtonViewInfo->Data.State)];
  AButtonViewInfo->Data.NativePart = BP_RADIOBUTTON;
  AButtonViewInfo->Data.NativeState = state;
  AButtonViewInfo->Data.BackgroundPartiallyTransparent =
      IsThemeBackgroundPartiallyTransparent(nbGetThemeHandle(totButton), BP_RADIOBUTTON, state);
}
