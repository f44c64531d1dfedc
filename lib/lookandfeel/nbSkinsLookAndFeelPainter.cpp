#include "lib/lookandfeel/nbSkinsLookAndFeelPainter.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <memory>
#include <vector>

#include "lib/foundation/vlGraphicsUtils.h"
#include "lib/foundation/vlImages.h"
#include "lib/lookandfeel/nbSkinsElementCache.h"
#include "lib/lookandfeel/vlPainterHelpers.h"
#include "lib/lookandfeel/vlLookAndFeels.h"
#include "platform/classes/ModuleInit.h"
#include "platform/classes/Resources.h"
#include "platform/rtl/Finally.h"
#include "platform/win/Gdi.h"

CL_IMPLEMENT_CLASS(TnbSkinLookAndFeelPainterInfo)
CL_IMPLEMENT_CLASS(TnbSkinUserLookAndFeelPainterInfo)
CL_IMPLEMENT_CLASS(TnbSkinLookAndFeelPainter)
CL_IMPLEMENT_CLASS(TnbSkinsUserSkinPainter)

namespace {

template <class T>
using Owned = std::unique_ptr<T, TObjectFree>;

TnbSkinLookAndFeelPainterCacheManager* gCacheManager = nullptr;
TvlExtendedStylePainters* gRegistry = nullptr;
TnbSkinUserLookAndFeelPainterInfo* gUserSkinInfo = nullptr;

// --- the painter unit --------------------------------------------------------------------------

void PainterStartup() {
  gCacheManager = New<TnbSkinLookAndFeelPainterCacheManager>();
  gRegistry = vlGetStylePainterRegistry();
}

void PainterShutdown() {
  FreeAndNil(gCacheManager);
  gRegistry = nullptr;
}

// --- the built-in skin's unit --------------------------------------------------------------------

const char16_t kUserSkinName[] = u"UserSkin";

void UserSkinInitialize() {
  if (!nbIsGdiPlusAvailable() || !vlGetStylePainterRegistry()) return;
  TnbSkin* skin = New<TnbSkin>(String(u"DefaultUserSkinData"), static_cast<void*>(HInstance), true);
  gUserSkinInfo = New<TnbSkinUserLookAndFeelPainterInfo>(skin);
  if (!vlGetStylePainterRegistry()->Register(kUserSkinName, ClassOf<TnbSkinsUserSkinPainter>(), gUserSkinInfo))
    FreeAndNil(gUserSkinInfo);
}

void UserSkinFinalize() {
  // The registry owns the information (and so the skin) from registration on.
  if (gUserSkinInfo && vlGetStylePainterRegistry()) vlGetStylePainterRegistry()->Unregister(kUserSkinName);
  gUserSkinInfo = nullptr;
}

void UserSkinStartup() { nbUnitsLoader()->AddUnit(&UserSkinInitialize, &UserSkinFinalize); }
void UserSkinShutdown() { nbUnitsLoader()->RemoveUnit(&UserSkinFinalize); }

Boolean Assigned(const TnbSkinColor* AColor) {
  return AColor && AColor->Value() != nbSkinClNone && AColor->Value() != nbSkinClDefault;
}

win::HDC DC(TvlCanvas* ACanvas) { return ACanvas->Handle(); }

}  // namespace

CL_UNIT_STEPS(nbSkinsLookAndFeelPainter, &PainterStartup, &PainterShutdown);
CL_UNIT_STEPS(nbSkinsDefaultPainters, &UserSkinStartup, &UserSkinShutdown);

TnbSkinLookAndFeelPainterCacheManager* nbSkinPainterCacheManager() { return gCacheManager; }
TnbSkinUserLookAndFeelPainterInfo* nbUserSkinInfo() { return gUserSkinInfo; }

TnbSkinElementState nbSkinElementState(TvlButtonState AState) {
  switch (AState) {
    case vlbsDefault: return esActive;
    case vlbsHot: return esHot;
    case vlbsPressed: return esPressed;
    case vlbsDisabled: return esDisabled;
    default: return esNormal;
  }
}

void TnbSkinLookAndFeelPainterInfo::Destroy() {
  if (gCacheManager) gCacheManager->Flush();
  inherited::Destroy();
}

void TnbSkinLookAndFeelPainterInfo::SkinContentChanged(TnbSkin* Sender) {
  inherited::SkinContentChanged(Sender);
  if (gCacheManager) gCacheManager->Flush();
}

void TnbSkinUserLookAndFeelPainterInfo::SkinContentChanged(TnbSkin* Sender) {
  inherited::SkinContentChanged(Sender);
  if (vlRootLookAndFeel()) vlRootLookAndFeel()->Refresh();
}

// --- TnbSkinLookAndFeelPainter -------------------------------------------------------------------

TnbSkinLookAndFeelPainterInfo* TnbSkinLookAndFeelPainter::GetSkinInfo() const {
  TObject* data = nullptr;
  if (!gRegistry ||
      !gRegistry->GetPainterData(ClassAs<TvlCustomLookAndFeelPainter>(ClassType()), data))
    return nullptr;
  return dynamic_cast<TnbSkinLookAndFeelPainterInfo*>(data);
}

TnbSkinLookAndFeelPainterInfo* TnbSkinsUserSkinPainter::GetSkinInfo() const { return gUserSkinInfo; }

// The skin information's field, or nil without an information object.
#define NB_SKIN(Field) (GetSkinInfo() ? GetSkinInfo()->Field : nullptr)

// --- colours -----------------------------------------------------------------------------------

#define NB_SKIN_COLOR_OP(Op, Field)                          \
  TColor TnbSkinLookAndFeelPainter::Op() const {             \
    TnbSkinColor* c = NB_SKIN(Field);                        \
    return Assigned(c) ? c->Value() : inherited::Op();       \
  }
NB_SKIN_COLOR_OP(DefaultContentColor, ContentColor)
NB_SKIN_COLOR_OP(DefaultGridDetailsSiteColor, ContentColor)
NB_SKIN_COLOR_OP(DefaultContentEvenColor, ContentEvenColor)
NB_SKIN_COLOR_OP(DefaultContentOddColor, ContentOddColor)
NB_SKIN_COLOR_OP(DefaultContentTextColor, ContentTextColor)
NB_SKIN_COLOR_OP(DefaultHyperlinkTextColor, HyperLinkTextColor)
#undef NB_SKIN_COLOR_OP

// The value of a skin colour object (inherited without the object).
#define NB_SKIN_VALUE_OP(Op, Field)                   \
  TColor TnbSkinLookAndFeelPainter::Op() const {      \
    TnbSkinColor* c = NB_SKIN(Field);                 \
    return c ? c->Value() : inherited::Op();          \
  }
NB_SKIN_VALUE_OP(DefaultHeaderBackgroundColor, HeaderBackgroundColor)
NB_SKIN_VALUE_OP(DefaultHeaderBackgroundTextColor, HeaderBackgroundTextColor)
NB_SKIN_VALUE_OP(DefaultSelectionColor, SelectionColor)
NB_SKIN_VALUE_OP(DefaultSelectionTextColor, SelectionTextColor)
#undef NB_SKIN_VALUE_OP

// The colour or text colour of an element (inherited without the element).
#define NB_SKIN_ELEMENT_OP(Op, Field, Value)          \
  TColor TnbSkinLookAndFeelPainter::Op() const {      \
    TnbSkinElement* e = NB_SKIN(Field);               \
    return e ? e->Value() : inherited::Op();          \
  }
NB_SKIN_ELEMENT_OP(DefaultFilterBoxTextColor, FilterPanel, TextColor)
NB_SKIN_ELEMENT_OP(DefaultFixedSeparatorColor, GridFixedLine, Color)
NB_SKIN_ELEMENT_OP(DefaultRecordSeparatorColor, GridFixedLine, Color)
NB_SKIN_ELEMENT_OP(DefaultGridLineColor, GridLine, Color)
NB_SKIN_ELEMENT_OP(DefaultGroupColor, GridGroupRow, Color)
NB_SKIN_ELEMENT_OP(DefaultGroupTextColor, GridGroupRow, TextColor)
NB_SKIN_ELEMENT_OP(DefaultGroupByBoxTextColor, GridGroupByBox, TextColor)
NB_SKIN_ELEMENT_OP(DefaultHeaderColor, Header, Color)
NB_SKIN_ELEMENT_OP(DefaultHeaderTextColor, Header, TextColor)
NB_SKIN_ELEMENT_OP(DefaultSeparatorColor, CardViewSeparator, Color)
NB_SKIN_ELEMENT_OP(EditButtonTextColor, EditButtonElements[0], TextColor)
#undef NB_SKIN_ELEMENT_OP

TColor TnbSkinLookAndFeelPainter::DefaultEditorBackgroundColorEx(TvlEditStateColorKind AKind) const {
  TnbSkinInfo* info = GetSkinInfo();
  if (info && Assigned(info->EditorBackgroundColors[AKind])) return info->EditorBackgroundColors[AKind]->Value();
  if (AKind == esckInactive || AKind == esckReadOnly) return DefaultEditorBackgroundColorEx(esckNormal);
  return inherited::DefaultEditorBackgroundColorEx(AKind);
}

TColor TnbSkinLookAndFeelPainter::DefaultEditorTextColorEx(TvlEditStateColorKind AKind) const {
  TnbSkinInfo* info = GetSkinInfo();
  if (info && Assigned(info->EditorTextColors[AKind])) return info->EditorTextColors[AKind]->Value();
  if (AKind == esckInactive || AKind == esckReadOnly) return DefaultEditorTextColorEx(esckNormal);
  return inherited::DefaultEditorTextColorEx(AKind);
}

TColor TnbSkinLookAndFeelPainter::DefaultFooterColor() const { return DefaultHeaderColor(); }
TColor TnbSkinLookAndFeelPainter::DefaultDateNavigatorHeaderColor() const { return DefaultHeaderColor(); }
TColor TnbSkinLookAndFeelPainter::DefaultDateNavigatorHeaderTextColor(Boolean) const {
  return DefaultHeaderTextColor();
}
TColor TnbSkinLookAndFeelPainter::DefaultDateNavigatorSeparator2Color() const { return clNone; }
TColor TnbSkinLookAndFeelPainter::DefaultPreviewTextColor() const { return DefaultHyperlinkTextColor(); }
TColor TnbSkinLookAndFeelPainter::FooterSeparatorColor() const { return DefaultGridLineColor(); }

TColor TnbSkinLookAndFeelPainter::DefaultSizeGripAreaColor() const {
  TnbSkinElement* content = NB_SKIN(FormContent);
  if (content && content->Color() != nbSkinClDefault) return content->Color();
  return inherited::DefaultSizeGripAreaColor();
}

TColor TnbSkinLookAndFeelPainter::GetContainerBorderColor(Boolean AIsHighlightBorder) const {
  TnbSkinColor* c = AIsHighlightBorder ? NB_SKIN(ContainerHighlightBorderColor) : NB_SKIN(ContainerBorderColor);
  return c ? c->Value() : inherited::GetContainerBorderColor(AIsHighlightBorder);
}

TColor TnbSkinLookAndFeelPainter::ButtonSymbolColor(TvlButtonState AState, TColor ADefaultColor) const {
  TnbSkinElement* button = NB_SKIN(ButtonElements);
  if (!button) return inherited::ButtonSymbolColor(AState, ADefaultColor);
  TnbSkinColor* disabled = NB_SKIN(ButtonDisabled);
  if (AState == vlbsDisabled && disabled) return disabled->Value();
  return button->TextColor();
}

TColor TnbSkinLookAndFeelPainter::ProgressBarTextColorEx(Boolean AIsFilledArea) const {
  TnbSkinInfo* info = GetSkinInfo();
  if (info && Assigned(info->ProgressBarTextColors[AIsFilledArea])) return info->ProgressBarTextColors[AIsFilledArea]->Value();
  return inherited::ProgressBarTextColorEx(AIsFilledArea);
}

// --- sizes and flags -----------------------------------------------------------------------------

Integer TnbSkinLookAndFeelPainter::ButtonBorderSize(TvlButtonState AState) const {
  return NB_SKIN(ButtonElements) ? 0 : inherited::ButtonBorderSize(AState);
}

#define NB_SKIN_SIZE_OP(Op, Field)                                \
  TSize TnbSkinLookAndFeelPainter::Op() const {                   \
    TnbSkinElement* e = NB_SKIN(Field);                           \
    return e ? e->Size() : inherited::Op();                       \
  }
NB_SKIN_SIZE_OP(CheckButtonSize, CheckboxElement)
NB_SKIN_SIZE_OP(RadioButtonSize, RadioGroupButton)
NB_SKIN_SIZE_OP(SizeGripSize, SizeGrip)
NB_SKIN_SIZE_OP(EditButtonSize, EditButtonElements[0])
#undef NB_SKIN_SIZE_OP

TPoint TnbSkinLookAndFeelPainter::FilterCloseButtonSize() const {
  TnbSkinElement* e = NB_SKIN(EditButtonElements[1]);
  return e ? TPoint{e->Size().cx, e->Size().cy} : inherited::FilterCloseButtonSize();
}

Integer TnbSkinLookAndFeelPainter::ExpandButtonSize() const {
  TnbSkinElement* e = NB_SKIN(ExpandButton);
  return e ? e->Size().cy : inherited::ExpandButtonSize();
}

Integer TnbSkinLookAndFeelPainter::LabelLineHeight() const {
  TnbSkinElement* e = NB_SKIN(LabelLine[0]);
  return e ? e->MinSize()->Height() : inherited::LabelLineHeight();
}

Integer TnbSkinLookAndFeelPainter::ScrollBarMinimalThumbSize(Boolean AVertical) const {
  TnbSkinInfo* info = GetSkinInfo();
  TnbSkinScrollInfo* thumb = info ? info->ScrollBar_Elements[!AVertical][sbpThumbnail] : nullptr;
  if (!thumb || !thumb->Element()) return inherited::ScrollBarMinimalThumbSize(AVertical);
  return AVertical ? thumb->Element()->Size().cy : thumb->Element()->Size().cx;
}

TRect TnbSkinLookAndFeelPainter::ProgressBarBorderSize(Boolean AVertical) const {
  TnbSkinInfo* info = GetSkinInfo();
  TnbSkinElement* e = info ? info->ProgressBarElements[AVertical ? 1 : 0] : nullptr;
  return e ? e->ContentOffset()->Rect() : inherited::ProgressBarBorderSize(AVertical);
}

TvlBorders TnbSkinLookAndFeelPainter::HeaderBorders(TvlNeighbors ANeighbors) const {
  TvlBorders result = inherited::HeaderBorders(ANeighbors);
  if (ANeighbors.Contains(nLeft)) result.Exclude(bLeft);
  if (ANeighbors.Contains(nTop)) result.Exclude(bTop);
  return result;
}

Boolean TnbSkinLookAndFeelPainter::GridDrawHeaderCellsFirst() const {
  TnbSkinElement* header = NB_SKIN(Header);
  return header ? !header->IsAlphaUsed() : inherited::GridDrawHeaderCellsFirst();
}

// --- drawing -------------------------------------------------------------------------------------

void TnbSkinLookAndFeelPainter::DrawBorder(TvlCanvas* ACanvas, TRect R) const {
  TnbSkinColor* c = NB_SKIN(ContainerBorderColor);
  if (!c) {
    inherited::DrawBorder(ACanvas, R);
    return;
  }
  ACanvas->FrameRect(R, c->Value());
}

void TnbSkinLookAndFeelPainter::DrawButton(TvlCanvas* ACanvas, TRect R, const String& ACaption,
                                           TvlButtonState AState, Boolean ADrawBorder, TColor AColor,
                                           TColor ATextColor, Boolean AWordWrap, Boolean AIsToolButton) const {
  TnbSkinElement* button = NB_SKIN(ButtonElements);
  if (!button) {
    inherited::DrawButton(ACanvas, R, ACaption, AState, ADrawBorder, AColor, ATextColor, AWordWrap, AIsToolButton);
    return;
  }
  button->Draw(DC(ACanvas), R, 0, nbSkinElementState(AState));
  const TRect& offset = button->ContentOffset()->Rect();
  TRect text = Rect(R.Left + offset.Left, R.Top + offset.Top, R.Right - offset.Right, R.Bottom - offset.Bottom);
  ACanvas->Font()->SetColor(ATextColor == clDefault ? ButtonSymbolColor(AState) : ATextColor);
  ACanvas->Brush()->SetStyle(bsClear);
  if ((text.Bottom - text.Top) % 2 != 0) {
    --text.Bottom;
    if (text.Bottom - text.Top < 18) --text.Top;
  }
  if (AState == vlbsPressed) win::OffsetRect(&text, ButtonTextShift(), ButtonTextShift());
  if (!ACaption.empty())
    ACanvas->DrawTexT(ACaption, text,
                      vlAlignHCenter | vlAlignVCenter | vlShowPrefix | (AWordWrap ? vlWordBreak : vlSingleLine),
                      AState != vlbsDisabled);
  ACanvas->Brush()->SetStyle(bsSolid);
}

void TnbSkinLookAndFeelPainter::DrawExpandButton(TvlCanvas* ACanvas, const TRect& R, Boolean AExpanded,
                                                 TColor AColor) const {
  TnbSkinElement* e = NB_SKIN(ExpandButton);
  if (!e) {
    inherited::DrawExpandButton(ACanvas, R, AExpanded, AColor);
    return;
  }
  e->Draw(DC(ACanvas), R, AExpanded ? 1 : 0, esNormal);
}

void TnbSkinLookAndFeelPainter::DrawExpandButtonEx(TvlCanvas* ACanvas, const TRect& R, TvlButtonState AState,
                                                   Boolean AExpanded) const {
  DrawExpandButton(ACanvas, R, AExpanded, clDefault);
}

void TnbSkinLookAndFeelPainter::DrawCheckButton(TvlCanvas* ACanvas, TRect R, TvlButtonState AState,
                                                TvlCheckBoxState ACheckState) const {
  TnbSkinElement* e = NB_SKIN(CheckboxElement);
  if (!e) {
    inherited::DrawCheckButton(ACanvas, R, AState, ACheckState);
    return;
  }
  e->Draw(DC(ACanvas), R, Integer(ACheckState), nbSkinElementState(AState));
}

void TnbSkinLookAndFeelPainter::DrawRadioButton(TvlCanvas* ACanvas, Integer X, Integer Y,
                                                TvlButtonState AButtonState, Boolean AChecked, Boolean AFocused,
                                                TColor ABrushColor, Boolean AIsDesigning) const {
  TnbSkinElement* e = NB_SKIN(RadioGroupButton);
  if (!e) {
    inherited::DrawRadioButton(ACanvas, X, Y, AButtonState, AChecked, AFocused, ABrushColor, AIsDesigning);
    return;
  }
  const TRect r = Rect(X, Y, X + e->Size().cx, Y + e->Size().cy);
  if (ABrushColor != clDefault) ACanvas->FillRect(r, ABrushColor);
  e->Draw(DC(ACanvas), r, AChecked ? 1 : 0, nbSkinElementState(AButtonState));
}

void TnbSkinLookAndFeelPainter::DrawLabelLine(TvlCanvas* ACanvas, const TRect& R, TColor AOuterColor,
                                              TColor AInnerColor, Boolean AIsVertical) const {
  TnbSkinInfo* info = GetSkinInfo();
  TnbSkinElement* e = info ? info->LabelLine[AIsVertical] : nullptr;
  if (!e) {
    inherited::DrawLabelLine(ACanvas, R, AOuterColor, AInnerColor, AIsVertical);
    return;
  }
  e->Draw(DC(ACanvas), R, 0, esNormal);
}

void TnbSkinLookAndFeelPainter::DrawSeparator(TvlCanvas* ACanvas, const TRect& R, Boolean AIsVertical) const {
  TnbSkinInfo* info = GetSkinInfo();
  if (!info || !info->LabelLine[AIsVertical]) {
    inherited::DrawSeparator(ACanvas, R, AIsVertical);
    return;
  }
  DrawLabelLine(ACanvas, CenteredStripRect(R, 2, AIsVertical), clDefault, clDefault, AIsVertical);
}

void TnbSkinLookAndFeelPainter::DrawContent(TvlCanvas* ACanvas, const TRect& ABounds, const TRect& ATextAreaBounds,
                                            TvlButtonState AState, TAlignment AAlignmentHorz,
                                            TvlAlignmentVert AAlignmentVert, Boolean AMultiLine,
                                            Boolean AShowEndEllipsis, const String& AText, TFont* AFont,
                                            TColor ATextColor, TColor ABkColor,
                                            const TvlDrawBackgroundEvent& AOnDrawBackground,
                                            Boolean AIsFooter) const {
  if (AText.empty()) return;
  ACanvas->Brush()->SetStyle(bsClear);
  if (AFont) ACanvas->Font()->Assign(AFont);
  ACanvas->Font()->SetColor(ATextColor);
  Integer flags = AAlignmentHorz == taLeftJustify    ? vlAlignLeft
                  : AAlignmentHorz == taRightJustify ? vlAlignRight
                                                     : vlAlignHCenter;
  flags |= AAlignmentVert == vaTop ? vlAlignTop : AAlignmentVert == vaBottom ? vlAlignBottom : vlAlignVCenter;
  flags |= AMultiLine ? vlWordBreak : vlSingleLine;
  if (AShowEndEllipsis) flags |= vlShowEndEllipsis;
  ACanvas->DrawTexT(AText, ATextAreaBounds, flags);
  ACanvas->Brush()->SetStyle(bsSolid);
}

void TnbSkinLookAndFeelPainter::DrawHeader(TvlCanvas* ACanvas, const TRect& ABounds, const TRect& ATextAreaBounds,
                                           TvlNeighbors ANeighbors, TvlBorders ABorders, TvlButtonState AState,
                                           TAlignment AAlignmentHorz, TvlAlignmentVert AAlignmentVert,
                                           Boolean AMultiLine, Boolean AShowEndEllipsis, const String& AText,
                                           TFont* AFont, TColor ATextColor, TColor ABkColor,
                                           const TvlDrawBackgroundEvent& AOnDrawBackground, Boolean AIsLast,
                                           Boolean AIsGroup) const {
  TnbSkinElement* e = AIsGroup ? NB_SKIN(HeaderSpecial) : NB_SKIN(Header);
  if (!e) {
    inherited::DrawHeader(ACanvas, ABounds, ATextAreaBounds, ANeighbors, ABorders, AState, AAlignmentHorz,
                          AAlignmentVert, AMultiLine, AShowEndEllipsis, AText, AFont, ATextColor, ABkColor,
                          AOnDrawBackground, AIsLast, AIsGroup);
    return;
  }
  ACanvas->SaveClipRegion();
  {
    Finally restore([&] { ACanvas->RestoreClipRegion(); });
    ACanvas->IntersectClipRect(ABounds);
    TRect r = ABounds;
    // The element's own border on a side without a border falls outside the clip.
    if (!ABorders.Contains(bLeft)) --r.Left;
    if (!ABorders.Contains(bTop)) --r.Top;
    if (!ABorders.Contains(bRight)) ++r.Right;
    if (!ABorders.Contains(bBottom)) ++r.Bottom;
    e->Draw(DC(ACanvas), r, 0, nbSkinElementState(AState));
  }
  DrawContent(ACanvas, ABounds, ATextAreaBounds, AState, AAlignmentHorz, AAlignmentVert, AMultiLine,
              AShowEndEllipsis, AText, AFont, ATextColor, ABkColor, AOnDrawBackground, false);
}

void TnbSkinLookAndFeelPainter::DrawHeaderEx(TvlCanvas* ACanvas, const TRect& ABounds, const TRect& ATextAreaBounds,
                                             TvlNeighbors ANeighbors, TvlBorders ABorders, TvlButtonState AState,
                                             TAlignment AAlignmentHorz, TvlAlignmentVert AAlignmentVert,
                                             Boolean AMultiLine, Boolean AShowEndEllipsis, const String& AText,
                                             TFont* AFont, TColor ATextColor, TColor ABkColor,
                                             const TvlDrawBackgroundEvent& AOnDrawBackground) const {
  DrawHeader(ACanvas, ABounds, ATextAreaBounds, ANeighbors, ABorders, AState, AAlignmentHorz, AAlignmentVert,
             AMultiLine, AShowEndEllipsis, AText, AFont, ATextColor, ABkColor, AOnDrawBackground);
}

void TnbSkinLookAndFeelPainter::DrawHeaderSeparator(TvlCanvas* ACanvas, const TRect& ABounds, Integer AIndentSize,
                                                    TColor AColor, const TvlViewParams& AViewParams) const {
  TnbSkinColor* c = NB_SKIN(HeaderBackgroundColor);
  if (!c) {
    inherited::DrawHeaderSeparator(ACanvas, ABounds, AIndentSize, AColor, AViewParams);
    return;
  }
  ACanvas->FillRect(Rect(ABounds.Left + AIndentSize, ABounds.Top, ABounds.Right - AIndentSize, ABounds.Bottom),
                    c->Value());
}

void TnbSkinLookAndFeelPainter::DrawGroupByBox(TvlCanvas* ACanvas, const TRect& ARect, Boolean ATransparent,
                                               TColor ABackgroundColor, TBitmap* ABackgroundBitmap) const {
  TnbSkinElement* e = NB_SKIN(GridGroupByBox);
  if (!e) {
    inherited::DrawGroupByBox(ACanvas, ARect, ATransparent, ABackgroundColor, ABackgroundBitmap);
    return;
  }
  e->Draw(DC(ACanvas), ARect, 0, esNormal);
}

void TnbSkinLookAndFeelPainter::DrawFilterPanel(TvlCanvas* ACanvas, const TRect& ARect, Boolean ATransparent,
                                                TColor ABackgroundColor, TBitmap* ABackgroundBitmap) const {
  TnbSkinElement* e = NB_SKIN(FilterPanel);
  if (!e) {
    inherited::DrawFilterPanel(ACanvas, ARect, ATransparent, ABackgroundColor, ABackgroundBitmap);
    return;
  }
  e->Draw(DC(ACanvas), ARect, 0, esNormal);
}

void TnbSkinLookAndFeelPainter::DrawFilterDropDownButton(TvlCanvas* ACanvas, TRect R, TvlButtonState AState,
                                                         Boolean AIsFilterActive) const {
  TnbSkinInfo* info = GetSkinInfo();
  TnbSkinElement* e = info ? info->FilterButtons[AIsFilterActive] : nullptr;
  if (!e) {
    inherited::DrawFilterDropDownButton(ACanvas, R, AState, AIsFilterActive);
    return;
  }
  e->Draw(DC(ACanvas), R, 0, nbSkinElementState(AState));
}

void TnbSkinLookAndFeelPainter::DrawFilterCloseButton(TvlCanvas* ACanvas, TRect R, TvlButtonState AState) const {
  TnbSkinElement* e = NB_SKIN(EditButtonElements[1]);
  if (!e) {
    inherited::DrawFilterCloseButton(ACanvas, R, AState);
    return;
  }
  e->Draw(DC(ACanvas), R, 0, nbSkinElementState(AState));
}

void TnbSkinLookAndFeelPainter::DrawScrollBarBackground(TvlCanvas* ACanvas, const TRect& R,
                                                        Boolean AHorizontal) const {
  TnbSkinInfo* info = GetSkinInfo();
  TnbSkinScrollInfo* page = info ? info->ScrollBar_Elements[AHorizontal][sbpPageUp] : nullptr;
  if (!page || !page->Element() || !gCacheManager) {
    inherited::DrawScrollBarBackground(ACanvas, R, AHorizontal);
    return;
  }
  gCacheManager->DrawScrollBarBackground(DC(ACanvas), R, AHorizontal, page->Element());
}

void TnbSkinLookAndFeelPainter::DrawScrollBarPart(TvlCanvas* ACanvas, Boolean AHorizontal, TRect R,
                                                  TvlScrollBarPart APart, TvlButtonState AState) const {
  TnbSkinInfo* info = GetSkinInfo();
  TnbSkinScrollInfo* part = info ? info->ScrollBar_Elements[AHorizontal][APart] : nullptr;
  if (!part || !part->Element()) {
    inherited::DrawScrollBarPart(ACanvas, AHorizontal, R, APart, AState);
    return;
  }
  // A page part at rest shows the background.
  if ((APart == sbpPageUp || APart == sbpPageDown) && AState == vlbsNormal) return;
  part->Draw(DC(ACanvas), R, nbSkinElementState(AState));
}

void TnbSkinLookAndFeelPainter::DrawSizeGrip(TvlCanvas* ACanvas, const TRect& ARect, TColor ABackgroundColor) const {
  TnbSkinElement* e = NB_SKIN(SizeGrip);
  if (!e) {
    inherited::DrawSizeGrip(ACanvas, ARect, ABackgroundColor);
    return;
  }
  ACanvas->FillRect(ARect, ABackgroundColor);
  e->Draw(DC(ACanvas), ARect, 0, esNormal);
}

Boolean TnbSkinLookAndFeelPainter::DrawEditorButtonBackground(TvlCanvas* ACanvas, const TRect& R,
                                                              Boolean AIsCloseButton,
                                                              TnbSkinElementState AState) const {
  TnbSkinInfo* info = GetSkinInfo();
  TnbSkinElement* e = info ? info->EditButtonElements[AIsCloseButton ? 1 : 0] : nullptr;
  if (e) e->Draw(DC(ACanvas), R, 0, AState);
  return e != nullptr;
}

void TnbSkinLookAndFeelPainter::DrawEditorButton(TvlCanvas* ACanvas, const TRect& ARect, TvlEditBtnKind AButtonKind,
                                                 TvlButtonState AState) const {
  if (!DrawEditorButtonBackground(ACanvas, ARect, AButtonKind == vlbkCloseBtn, nbSkinElementState(AState)))
    inherited::DrawEditorButton(ACanvas, ARect, AButtonKind, AState);
  TnbSkinInfo* info = GetSkinInfo();
  TnbSkinElement* button = info ? info->EditButtonElements[0] : nullptr;
  TRect content = ARect;
  if (button) {
    const TRect& o = button->ContentOffset()->Rect();
    content = Rect(ARect.Left + o.Left, ARect.Top + o.Top, ARect.Right - o.Right, ARect.Bottom - o.Bottom);
  }
  if (AButtonKind == vlbkCloseBtn) return;
  if (AButtonKind == vlbkEllipsisBtn) {
    const Integer s = content.Right - content.Left < 12 ? 1 : 2;
    // Without the element the dots take the painter's symbol colour: a fill
    // with clDefault would take whatever brush an earlier drawing left.
    const TColor color = button ? button->TextColor() : ButtonSymbolColor(AState, clDefault);
    const Integer w = 3 * s + 4;
    const Integer x = (content.Left + content.Right - w) / 2, y = (content.Top + content.Bottom - s) / 2;
    for (Integer i = 0; i < 3; ++i) ACanvas->FillRect(Rect(x + i * (s + 2), y, x + i * (s + 2) + s, y + s), color);
    return;
  }
  TnbSkinElement* glyph = info ? info->EditButtonGlyphs[AButtonKind] : nullptr;
  // The element's glyph, not its image: the editor button's own entry is the
  // button element, whose image is the face drawn above.
  if (glyph) glyph->Glyph()->Draw(DC(ACanvas), content, 0, esNormal);
}

void TnbSkinLookAndFeelPainter::DrawProgressBarBorder(TvlCanvas* ACanvas, TRect ARect, Boolean AVertical) const {
  TnbSkinInfo* info = GetSkinInfo();
  TnbSkinElement* e = info ? info->ProgressBarElements[AVertical ? 1 : 0] : nullptr;
  if (!e) {
    inherited::DrawProgressBarBorder(ACanvas, ARect, AVertical);
    return;
  }
  e->Draw(DC(ACanvas), ARect, 0, esNormal);
}

void TnbSkinLookAndFeelPainter::DrawProgressBarChunk(TvlCanvas* ACanvas, TRect ARect, Boolean AVertical) const {
  TnbSkinInfo* info = GetSkinInfo();
  TnbSkinElement* e = info ? info->ProgressBarElements[AVertical ? 3 : 2] : nullptr;
  if (!e) {
    inherited::DrawProgressBarChunk(ACanvas, ARect, AVertical);
    return;
  }
  e->Draw(DC(ACanvas), ARect, 0, esNormal);
}

namespace {

// A frame-sized rectangle centred in R.
TRect CentredFrame(TnbSkinElement* AElement, const TRect& R) {
  const TSize size = AElement->Size();
  const Integer x = (R.Left + R.Right - size.cx) / 2, y = (R.Top + R.Bottom - size.cy) / 2;
  return Rect(x, y, x + size.cx, y + size.cy);
}

}  // namespace

void TnbSkinLookAndFeelPainter::DrawIndicatorImage(TvlCanvas* ACanvas, const TRect& R, TvlIndicatorKind AKind) const {
  TnbSkinElement* e = NB_SKIN(IndicatorImages);
  if (!e) {
    inherited::DrawIndicatorImage(ACanvas, R, AKind);
    return;
  }
  if (AKind == ikNone) return;
  static const Integer images[] = {0, 0, 1, 2, 0, 0, 8};  // by TvlIndicatorKind
  e->Draw(DC(ACanvas), CentredFrame(e, R), images[AKind], esNormal);
}

void TnbSkinLookAndFeelPainter::DrawIndicatorCustomizationMark(TvlCanvas* ACanvas, const TRect& R,
                                                               TColor AColor) const {
  TnbSkinElement* e = NB_SKIN(IndicatorImages);
  if (!e) {
    inherited::DrawIndicatorCustomizationMark(ACanvas, R, AColor);
    return;
  }
  e->Draw(DC(ACanvas), CentredFrame(e, R), 2, esNormal);
}

void TnbSkinLookAndFeelPainter::DrawWindowContent(TvlCanvas* ACanvas, const TRect& ARect) const {
  TnbSkinElement* e = NB_SKIN(FormContent);
  if (!e) {
    inherited::DrawWindowContent(ACanvas, ARect);
    return;
  }
  ACanvas->FillRect(ARect, e->Color());
}

// --- calendar, calculator, layout, absent controls --------------------------------------------

#define NB_SKIN_COLOR_OP(Op, Field)                          \
  TColor TnbSkinLookAndFeelPainter::Op() const {             \
    TnbSkinColor* c = NB_SKIN(Field);                        \
    return Assigned(c) ? c->Value() : inherited::Op();       \
  }
NB_SKIN_COLOR_OP(DefaultDateNavigatorTextColor, CalendarDayTextColor)
NB_SKIN_COLOR_OP(DefaultDateNavigatorHolydayTextColor, CalendarHolidayTextColor)
NB_SKIN_COLOR_OP(DefaultDateNavigatorInactiveTextColor, CalendarInactiveDayTextColor)
NB_SKIN_COLOR_OP(DefaultDateNavigatorSelectionColor, CalendarSelectedDayColor)
NB_SKIN_COLOR_OP(DefaultDateNavigatorSelectionTextColor, CalendarSelectedDayTextColor)
NB_SKIN_COLOR_OP(DefaultDateNavigatorSeparator1Color, CalendarSeparatorColor)
NB_SKIN_COLOR_OP(DefaultDateNavigatorTodayFrameColor, CalendarTodayFrameColor)
NB_SKIN_COLOR_OP(DefaultDateNavigatorTodayTextColor, CalendarTodayTextColor)
NB_SKIN_COLOR_OP(GetCustomizationFormListBackgroundColor, ContentColor)
#undef NB_SKIN_COLOR_OP

#define NB_SKIN_VALUE_OP(Op, Field)                   \
  TColor TnbSkinLookAndFeelPainter::Op() const {      \
    TnbSkinColor* c = NB_SKIN(Field);                 \
    return c ? c->Value() : inherited::Op();          \
  }
NB_SKIN_VALUE_OP(LayoutControlEmptyAreaColor, LayoutControlColor)
NB_SKIN_VALUE_OP(DefaultSchedulerBackgroundColor, ContentColor)
NB_SKIN_VALUE_OP(DefaultSchedulerControlColor, ContentColor)
NB_SKIN_VALUE_OP(DefaultSchedulerBorderColor, ContainerBorderColor)
NB_SKIN_VALUE_OP(DefaultSchedulerNavigatorColor, SchedulerNavigatorColor)
#undef NB_SKIN_VALUE_OP

#define NB_SKIN_ELEMENT_OP(Op, Field, Value)          \
  TColor TnbSkinLookAndFeelPainter::Op() const {      \
    TnbSkinElement* e = NB_SKIN(Field);               \
    return e ? e->Value() : inherited::Op();          \
  }
NB_SKIN_ELEMENT_OP(DefaultSchedulerViewTextColor, SchedulerAppointment[1], TextColor)
NB_SKIN_ELEMENT_OP(DefaultVGridCategoryColor, VGridCategory, Color)
NB_SKIN_ELEMENT_OP(DefaultVGridCategoryTextColor, VGridCategory, TextColor)
NB_SKIN_ELEMENT_OP(DefaultVGridHeaderColor, VGridRowHeader, Color)
NB_SKIN_ELEMENT_OP(DefaultVGridHeaderTextColor, VGridRowHeader, TextColor)
NB_SKIN_ELEMENT_OP(DefaultVGridLineColor, VGridLine, Color)
NB_SKIN_ELEMENT_OP(DefaultVGridBandLineColor, VGridBandBorder, Color)
#undef NB_SKIN_ELEMENT_OP

// The colour or text colour of an element when it is assigned.
#define NB_SKIN_ASSIGNED_ELEMENT_OP(Op, Field, Value)                              \
  TColor TnbSkinLookAndFeelPainter::Op() const {                                   \
    TnbSkinElement* e = NB_SKIN(Field);                                            \
    const TColor v = e ? e->Value() : nbSkinClDefault;                             \
    return v != nbSkinClDefault && v != nbSkinClNone ? v : inherited::Op();        \
  }
NB_SKIN_ASSIGNED_ELEMENT_OP(DefaultSchedulerTimeRulerColor, SchedulerTimeRuler, Color)
NB_SKIN_ASSIGNED_ELEMENT_OP(DefaultSchedulerTimeRulerTextColor, SchedulerTimeRuler, TextColor)
NB_SKIN_ASSIGNED_ELEMENT_OP(PivotGridHeadersAreaColor, GridGroupByBox, Color)
NB_SKIN_ASSIGNED_ELEMENT_OP(PivotGridHeadersAreaTextColor, GridGroupByBox, TextColor)
#undef NB_SKIN_ASSIGNED_ELEMENT_OP

TColor TnbSkinLookAndFeelPainter::DefaultSchedulerViewSelectedTextColor() const {
  return DefaultSchedulerViewTextColor();
}

TColor TnbSkinLookAndFeelPainter::CalcEditButtonTextColor(TvlCalcButtonKind AButtonKind) const {
  TnbSkinInfo* info = GetSkinInfo();
  if (info && Assigned(info->CalcEditButtonTextColors[AButtonKind])) return info->CalcEditButtonTextColors[AButtonKind]->Value();
  return inherited::CalcEditButtonTextColor(AButtonKind);
}

void TnbSkinLookAndFeelPainter::DrawLayoutControlBackground(TvlCanvas* ACanvas, const TRect& R) const {
  ACanvas->FillRect(R, LayoutControlEmptyAreaColor());
}

void TnbSkinLookAndFeelPainter::DrawPrintPreviewBackground(TvlCanvas* ACanvas, const TRect& R) const {
  TnbSkinElement* e = NB_SKIN(PrintingPreviewBackground);
  if (!e || !gCacheManager) {
    inherited::DrawPrintPreviewBackground(ACanvas, R);
    return;
  }
  gCacheManager->DrawPreviewBackground(DC(ACanvas), R, e);
}

// --- button groups, small expand buttons, sizes -----------------------------------------------

TRect TnbSkinLookAndFeelPainter::ButtonGroupBorderSizes(Integer AButtonCount, Integer AButtonIndex) const {
  TnbSkinElement* e = NB_SKIN(EditButtonElements[0]);
  if (!e) return inherited::ButtonGroupBorderSizes(AButtonCount, AButtonIndex);
  const TSize glyph = NavigatorGlyphSize();
  const Integer a = (e->Size().cx - glyph.cx) / 2, b = (e->Size().cy - glyph.cy) / 2;
  return Rect(a, b, a, b);
}

void TnbSkinLookAndFeelPainter::DrawButtonInGroup(TvlCanvas* ACanvas, TRect R, TvlButtonState AState,
                                                  Integer AButtonCount, Integer AButtonIndex,
                                                  TColor ABackgroundColor) const {
  DrawEditorButton(ACanvas, R, vlbkEditorBtn, AState);
}

void TnbSkinLookAndFeelPainter::DrawButtonGroupBorder(TvlCanvas*, TRect, Boolean, Boolean) const {}

void TnbSkinLookAndFeelPainter::DrawSmallExpandButton(TvlCanvas* ACanvas, TRect R, Boolean AExpanded,
                                                      TColor ABorderColor, TColor AColor) const {
  if (!NB_SKIN(ExpandButton)) {
    inherited::DrawSmallExpandButton(ACanvas, R, AExpanded, ABorderColor, AColor);
    return;
  }
  DrawExpandButton(ACanvas, R, AExpanded, AColor);
}

TSize TnbSkinLookAndFeelPainter::NavigatorGlyphSize() const {
  TnbSkinElement* e = NB_SKIN(NavigatorGlyphs);
  return e ? e->Size() : inherited::NavigatorGlyphSize();
}

Integer TnbSkinLookAndFeelPainter::FooterCellBorderSize() const {
  TnbSkinElement* e = NB_SKIN(FooterCell);
  if (!e) return inherited::FooterCellBorderSize();
  const TRect& o = e->ContentOffset()->Rect();
  return std::max({o.Left, o.Top, o.Right, o.Bottom});
}

// --- group box and panel -------------------------------------------------------------------------

namespace {

TnbSkinElement* GroupBoxElement(TnbSkinInfo* AInfo, Boolean ACaption, TvlGroupBoxCaptionPosition APosition) {
  if (!AInfo) return nullptr;
  return ACaption ? AInfo->GroupBoxCaptionElements[APosition] : AInfo->GroupBoxElements[APosition];
}

TRect Inset(const TRect& R, const TRect& AOffsets) {
  return Rect(R.Left + AOffsets.Left, R.Top + AOffsets.Top, R.Right - AOffsets.Right, R.Bottom - AOffsets.Bottom);
}

}  // namespace

TRect TnbSkinLookAndFeelPainter::GroupBoxBorderSize(Boolean ACaption,
                                                    TvlGroupBoxCaptionPosition ACaptionPosition) const {
  TnbSkinElement* e = GroupBoxElement(GetSkinInfo(), ACaption, ACaptionPosition);
  return e ? e->ContentOffset()->Rect() : inherited::GroupBoxBorderSize(ACaption, ACaptionPosition);
}

TColor TnbSkinLookAndFeelPainter::GroupBoxTextColor(Boolean AEnabled,
                                                    TvlGroupBoxCaptionPosition ACaptionPosition) const {
  TnbSkinElement* e =
      GroupBoxElement(GetSkinInfo(), true, ACaptionPosition == vlgpCenter ? vlgpTop : ACaptionPosition);
  return e ? e->TextColor() : inherited::GroupBoxTextColor(AEnabled, ACaptionPosition);
}

Boolean TnbSkinLookAndFeelPainter::IsGroupBoxTransparent(Boolean AIsCaption,
                                                         TvlGroupBoxCaptionPosition ACaptionPosition) const {
  TnbSkinElement* e = GroupBoxElement(GetSkinInfo(), AIsCaption, ACaptionPosition);
  return e ? e->IsAlphaUsed() : inherited::IsGroupBoxTransparent(AIsCaption, ACaptionPosition);
}

void TnbSkinLookAndFeelPainter::DrawGroupBoxBackground(TvlCanvas* ACanvas, TRect ABounds, TRect ARect) const {
  TnbSkinElement* e = NB_SKIN(GroupBoxClient);
  if (!e) {
    inherited::DrawGroupBoxBackground(ACanvas, ABounds, ARect);
    return;
  }
  e->Draw(DC(ACanvas), ABounds, 0, esNormal);
}

void TnbSkinLookAndFeelPainter::DrawGroupBoxCaption(TvlCanvas* ACanvas, TRect ACaptionRect,
                                                    TvlGroupBoxCaptionPosition ACaptionPosition) const {
  TnbSkinElement* e = GroupBoxElement(GetSkinInfo(), true, ACaptionPosition);
  if (!e) {
    inherited::DrawGroupBoxCaption(ACanvas, ACaptionRect, ACaptionPosition);
    return;
  }
  e->Draw(DC(ACanvas), ACaptionRect, 0, esNormal);
}

void TnbSkinLookAndFeelPainter::DrawGroupBoxContent(TvlCanvas* ACanvas, TRect ABorderRect,
                                                    TvlGroupBoxCaptionPosition ACaptionPosition,
                                                    TvlBorders ABorders) const {
  TnbSkinElement* frame = GroupBoxElement(GetSkinInfo(), false, ACaptionPosition);
  TnbSkinElement* client = NB_SKIN(GroupBoxClient);
  if (!frame || !client) {
    inherited::DrawGroupBoxContent(ACanvas, ABorderRect, ACaptionPosition, vlBordersAll);
    return;
  }
  ACanvas->SaveClipRegion();
  Finally restore([&] { ACanvas->RestoreClipRegion(); });
  const TRect& o = frame->ContentOffset()->Rect();
  TRect inner = ABorderRect;
  if (ABorders.Contains(bLeft)) inner.Left += o.Left + frame->Borders()->Left()->Thin();
  if (ABorders.Contains(bTop)) inner.Top += o.Top + frame->Borders()->Top()->Thin();
  if (ABorders.Contains(bRight)) inner.Right -= o.Right + frame->Borders()->Right()->Thin();
  if (ABorders.Contains(bBottom)) inner.Bottom -= o.Bottom + frame->Borders()->Bottom()->Thin();
  client->Draw(DC(ACanvas), inner, 0, esNormal);
  ACanvas->ExcludeClipRect(inner);
  frame->Draw(DC(ACanvas), ABorderRect, 0, esNormal);
}

void TnbSkinLookAndFeelPainter::DrawGroupBoxFrame(TvlCanvas* ACanvas, TRect R, Boolean AEnabled,
                                                  TvlGroupBoxCaptionPosition ACaptionPosition,
                                                  TvlBorders ABorders) const {
  DrawGroupBoxContent(ACanvas, R, ACaptionPosition, ABorders);
}

void TnbSkinLookAndFeelPainter::DrawPanelBorders(TvlCanvas* ACanvas, const TRect& ABorderRect) const {
  TnbSkinElement* e = GroupBoxElement(GetSkinInfo(), false, vlgpCenter);
  if (!e) {
    inherited::DrawPanelBorders(ACanvas, ABorderRect);
    return;
  }
  ACanvas->SaveClipRegion();
  Finally restore([&] { ACanvas->RestoreClipRegion(); });
  ACanvas->ExcludeClipRect(Inset(ABorderRect, e->ContentOffset()->Rect()));
  e->Draw(DC(ACanvas), ABorderRect, 0, esNormal);
}

void TnbSkinLookAndFeelPainter::DrawPanelContent(TvlCanvas* ACanvas, const TRect& ABorderRect,
                                                 Boolean ABorder) const {
  TnbSkinElement* client = NB_SKIN(GroupBoxClient);
  if (!client) {
    inherited::DrawPanelContent(ACanvas, ABorderRect, ABorder);
    return;
  }
  client->Draw(DC(ACanvas), ABorderRect, 0, esNormal);
  if (ABorder) DrawPanelBorders(ACanvas, ABorderRect);
}

// --- track bar and splitter ------------------------------------------------------------------------

void TnbSkinLookAndFeelPainter::DrawTrackBar(TvlCanvas* ACanvas, const TRect& ARect, const TRect& ASelection,
                                             Boolean AShowSelection, Boolean AEnabled, Boolean AHorizontal) const {
  TnbSkinInfo* info = GetSkinInfo();
  TnbSkinElement* track = info ? info->TrackBarTrack[AHorizontal] : nullptr;
  if (!track) {
    inherited::DrawTrackBar(ACanvas, ARect, ASelection, AShowSelection, AEnabled, AHorizontal);
    return;
  }
  track->Draw(DC(ACanvas), ARect, AEnabled ? 0 : 2, esNormal);
  if (AShowSelection) track->Draw(DC(ACanvas), ASelection, AEnabled ? 1 : 3, esNormal);
}

void TnbSkinLookAndFeelPainter::DrawTrackBarThumb(TvlCanvas* ACanvas, TRect ARect, TvlButtonState AState,
                                                  Boolean AHorizontal, TvlTrackBarTicksAlign ATicks) const {
  TnbSkinInfo* info = GetSkinInfo();
  TnbSkinElement* thumb = info ? info->TrackBarThumb[AHorizontal][ATicks] : nullptr;
  if (!thumb) {
    inherited::DrawTrackBarThumb(ACanvas, ARect, AState, AHorizontal, ATicks);
    return;
  }
  thumb->Draw(DC(ACanvas), ARect, 0, nbSkinElementState(AState));
}

TSize TnbSkinLookAndFeelPainter::TrackBarThumbSize(Boolean AHorizontal) const {
  TnbSkinInfo* info = GetSkinInfo();
  TnbSkinElement* thumb = info ? info->TrackBarThumb[AHorizontal][tbtaDown] : nullptr;
  return thumb ? thumb->Size() : inherited::TrackBarThumbSize(AHorizontal);
}

Integer TnbSkinLookAndFeelPainter::TrackBarTrackSize() const {
  TnbSkinElement* track = NB_SKIN(TrackBarTrack[1]);
  return track ? track->Size().cy : inherited::TrackBarTrackSize();
}

void TnbSkinLookAndFeelPainter::DrawSplitter(TvlCanvas* ACanvas, const TRect& ARect, Boolean AHighlighted,
                                             Boolean AClicked, Boolean AHorizontal) const {
  TnbSkinInfo* info = GetSkinInfo();
  TnbSkinElement* e = info ? info->Splitter[AHorizontal] : nullptr;
  if (!e) {
    inherited::DrawSplitter(ACanvas, ARect, AHighlighted, AClicked, AHorizontal);
    return;
  }
  e->Draw(DC(ACanvas), ARect, 0, AHighlighted ? esHot : esNormal);
}

TSize TnbSkinLookAndFeelPainter::GetSplitterSize(Boolean AHorizontal) const {
  TnbSkinInfo* info = GetSkinInfo();
  TnbSkinElement* e = info ? info->Splitter[AHorizontal] : nullptr;
  return e ? e->Size() : inherited::GetSplitterSize(AHorizontal);
}

// --- footers ---------------------------------------------------------------------------------------

void TnbSkinLookAndFeelPainter::DrawFooterCell(TvlCanvas* ACanvas, const TRect& ABounds, TAlignment AAlignmentHorz,
                                               TvlAlignmentVert AAlignmentVert, Boolean AMultiLine,
                                               const String& AText, TFont* AFont, TColor ATextColor,
                                               TColor ABkColor, const TvlDrawBackgroundEvent& AOnDrawBackground) const {
  inherited::DrawFooterCell(ACanvas, ABounds, AAlignmentHorz, AAlignmentVert, AMultiLine, AText, AFont, ATextColor,
                            ABkColor, AOnDrawBackground);
  if (NB_SKIN(FooterCell)) ACanvas->ExcludeClipRect(ABounds);
}

void TnbSkinLookAndFeelPainter::DrawFooterCellBorder(TvlCanvas* ACanvas, const TRect& R) const {
  if (!NB_SKIN(FooterCell)) inherited::DrawFooterCellBorder(ACanvas, R);
}

void TnbSkinLookAndFeelPainter::DrawFooterCellContent(TvlCanvas* ACanvas, const TRect& ABounds,
                                                      TAlignment AAlignmentHorz, TvlAlignmentVert AAlignmentVert,
                                                      Boolean AMultiLine, const String& AText, TFont* AFont,
                                                      TColor ATextColor, TColor ABkColor,
                                                      const TvlDrawBackgroundEvent& AOnDrawBackground) const {
  if (TnbSkinElement* cell = NB_SKIN(FooterCell)) cell->Draw(DC(ACanvas), ABounds, 0, esNormal);
  inherited::DrawFooterCellContent(ACanvas, ABounds, AAlignmentHorz, AAlignmentVert, AMultiLine, AText, AFont,
                                   ATextColor, ABkColor, AOnDrawBackground);
}

void TnbSkinLookAndFeelPainter::DrawFooterContent(TvlCanvas* ACanvas, const TRect& ARect,
                                                  const TvlViewParams& AViewParams) const {
  TnbSkinElement* panel = NB_SKIN(FooterPanel);
  if (!panel || (AViewParams.Bitmap && !AViewParams.Bitmap->Empty())) {
    inherited::DrawFooterContent(ACanvas, ARect, AViewParams);
    return;
  }
  const TRect& o = panel->ContentOffset()->Rect();
  panel->Draw(DC(ACanvas),
              Rect(ARect.Left - o.Left, ARect.Top - FooterSeparatorSize(), ARect.Right + o.Right,
                   ARect.Bottom + o.Bottom),
              0, esNormal);
}

void TnbSkinLookAndFeelPainter::DrawFooterBorder(TvlCanvas* ACanvas, const TRect& R) const {
  TnbSkinElement* panel = NB_SKIN(FooterPanel);
  if (!panel) {
    inherited::DrawFooterBorder(ACanvas, R);
    return;
  }
  const TRect& o = panel->ContentOffset()->Rect();
  ACanvas->SaveClipRegion();
  Finally restore([&] { ACanvas->RestoreClipRegion(); });
  ACanvas->ExcludeClipRect(Rect(R.Left, R.Top, R.Right - o.Right, R.Bottom - o.Bottom));
  ACanvas->ExcludeClipRect(Rect(R.Left, R.Top - 1, R.Right, R.Top));
  panel->Draw(DC(ACanvas), Rect(R.Left - o.Left, R.Top - 1, R.Right, R.Bottom), 0, esNormal);
}

void TnbSkinLookAndFeelPainter::DrawFooterPanelBorder(TvlCanvas* ACanvas, const TRect& R, TvlBorders ABorders) const {
  TnbSkinElement* panel = NB_SKIN(FooterPanel);
  if (!panel) {
    inherited::DrawFooterPanelBorder(ACanvas, R, ABorders);
    return;
  }
  const TRect& o = panel->ContentOffset()->Rect();
  const Integer separator = FooterSeparatorSize();
  ACanvas->SaveClipRegion();
  Finally restore([&] { ACanvas->RestoreClipRegion(); });
  ACanvas->ExcludeClipRect(Rect(R.Left + o.Left, R.Top + separator, R.Right - o.Right, R.Bottom - o.Bottom));
  TRect r = R;
  if (!ABorders.Contains(bLeft)) r.Left -= o.Left;
  if (!ABorders.Contains(bTop)) r.Top -= separator;
  if (!ABorders.Contains(bRight)) r.Right += o.Right;
  if (!ABorders.Contains(bBottom)) r.Bottom += o.Bottom;
  panel->Draw(DC(ACanvas), r, 0, esNormal);
}

// --- indicator, date navigator, scheduler, print preview ----------------------------------------

void TnbSkinLookAndFeelPainter::DrawIndicatorItem(TvlCanvas* ACanvas, const TRect& R, TvlIndicatorKind AKind,
                                                  TColor AColor, const TvlDrawBackgroundEvent& AOnDrawBackground) const {
  const TRect header = Rect(R.Left, R.Top - HeaderBorderSize(), R.Right, R.Bottom);
  DrawHeader(ACanvas, header, header, TvlNeighbors{}, HeaderBorders(TvlNeighbors{nTop, nBottom}), vlbsNormal,
             taLeftJustify, vaTop, false, false, String(), nullptr, clNone, AColor, AOnDrawBackground);
  DrawIndicatorImage(ACanvas, R, AKind);
}

void TnbSkinLookAndFeelPainter::DrawIndicatorItemEx(TvlCanvas* ACanvas, const TRect& R, TvlIndicatorKind AKind,
                                                    TColor AColor,
                                                    const TvlDrawBackgroundEvent& AOnDrawBackground) const {
  DrawIndicatorItem(ACanvas, R, AKind, AColor, AOnDrawBackground);
}

void TnbSkinLookAndFeelPainter::DrawDateNavigatorDateHeader(TvlCanvas* ACanvas, TRect& R) const {
  if (!NB_SKIN(Header)) {
    inherited::DrawDateNavigatorDateHeader(ACanvas, R);
    return;
  }
  --R.Left;
  ++R.Right;
  DrawHeader(ACanvas, R, TRect{}, TvlNeighbors{}, TvlBorders{}, vlbsNormal, taLeftJustify, vaTop, false, false,
             String(), nullptr, clNone, clNone);
}

void TnbSkinLookAndFeelPainter::DrawSchedulerEventProgress(TvlCanvas* ACanvas, const TRect& ABounds,
                                                           const TRect& AProgress, const TvlViewParams& AViewParams,
                                                           Boolean ATransparent) const {
  TnbSkinInfo* info = GetSkinInfo();
  if (!info || !info->ProgressBarElements[0] || !info->ProgressBarElements[2]) {
    inherited::DrawSchedulerEventProgress(ACanvas, ABounds, AProgress, AViewParams, ATransparent);
    return;
  }
  info->ProgressBarElements[0]->Draw(DC(ACanvas), ABounds, 0, esNormal);
  info->ProgressBarElements[2]->Draw(DC(ACanvas), AProgress, 0, esNormal);
}

void TnbSkinLookAndFeelPainter::DrawSchedulerNavigatorButton(TvlCanvas* ACanvas, TRect R,
                                                             TvlButtonState AState) const {
  DrawEditorButtonBackground(ACanvas, R, false, nbSkinElementState(AState));
}

TRect TnbSkinLookAndFeelPainter::SchedulerEventProgressOffsets() const {
  TnbSkinElement* border = NB_SKIN(ProgressBarElements[0]);
  return border ? border->ContentOffset()->Rect() : inherited::SchedulerEventProgressOffsets();
}

TColor TnbSkinLookAndFeelPainter::SchedulerNavigationButtonTextColor(Boolean AIsNextButton, TvlButtonState AState,
                                                                     TColor ADefaultColor) const {
  TnbSkinInfo* info = GetSkinInfo();
  TnbSkinElement* button = info ? info->SchedulerNavigationButtons[AIsNextButton] : nullptr;
  if (!button) return inherited::SchedulerNavigationButtonTextColor(AIsNextButton, AState, ADefaultColor);
  const TColor color = button->GetTextColor(AState);
  return color == nbSkinClDefault ? ADefaultColor : color;
}

void TnbSkinLookAndFeelPainter::SchedulerNavigationButtonSizes(Boolean AIsNextButton, TRect& ABorders,
                                                               TSize& AArrowSize, Boolean& AHasTextArea) const {
  TnbSkinInfo* info = GetSkinInfo();
  TnbSkinElement* button = info ? info->SchedulerNavigationButtons[AIsNextButton] : nullptr;
  TnbSkinElement* arrow = info ? info->SchedulerNavigationButtonsArrow[AIsNextButton] : nullptr;
  if (!button || !arrow) {
    inherited::SchedulerNavigationButtonSizes(AIsNextButton, ABorders, AArrowSize, AHasTextArea);
    return;
  }
  ABorders = button->ContentOffset()->Rect();
  AArrowSize = arrow->Size();
  AHasTextArea = !button->Image()->Empty();
}

TRect TnbSkinLookAndFeelPainter::PrintPreviewPageBordersWidth() const {
  TnbSkinElement* border = NB_SKIN(PrintingPageBorder);
  return border ? border->ContentOffset()->Rect() : inherited::PrintPreviewPageBordersWidth();
}

void TnbSkinLookAndFeelPainter::DrawPrintPreviewPageBackground(TvlCanvas* ACanvas, const TRect& ABorderRect,
                                                               const TRect& AContentRect, Boolean ASelected,
                                                               Boolean ADrawContent) const {
  TnbSkinElement* border = NB_SKIN(PrintingPageBorder);
  if (!border) {
    inherited::DrawPrintPreviewPageBackground(ACanvas, ABorderRect, AContentRect, ASelected, ADrawContent);
    return;
  }
  ACanvas->SaveClipRegion();
  Finally restore([&] { ACanvas->RestoreClipRegion(); });
  if (ADrawContent) {
    ACanvas->FillRect(AContentRect, clWhite);
    ACanvas->ExcludeClipRect(AContentRect);
  }
  border->Draw(DC(ACanvas), ABorderRect, 0, ASelected ? esActive : esNormal);
}

void TnbSkinLookAndFeelPainter::CalculateSchedulerNavigationButtonRects(Boolean AIsNextButton, Boolean ACollapsed,
                                                                        TSize APrevButtonTextSize,
                                                                        TSize ANextButtonTextSize, TRect& ABounds,
                                                                        TRect& ATextRect, TRect& AArrowRect) const {
  TnbSkinInfo* info = GetSkinInfo();
  TnbSkinElement* button = info ? info->SchedulerNavigationButtons[AIsNextButton] : nullptr;
  const Integer width = button ? button->MinSize()->Width() : 0;
  if (width > 0 && ABounds.Right - ABounds.Left < width) {
    // The next button keeps its right edge, the previous one its left edge.
    if (AIsNextButton)
      ABounds.Left = ABounds.Right - width;
    else
      ABounds.Right = ABounds.Left + width;
  }
  inherited::CalculateSchedulerNavigationButtonRects(AIsNextButton, ACollapsed, APrevButtonTextSize,
                                                     ANextButtonTextSize, ABounds, ATextRect, AArrowRect);
}

void TnbSkinLookAndFeelPainter::DrawSchedulerNavigationButtonContent(TvlCanvas* ACanvas, const TRect& ARect,
                                                                     const TRect& AArrowRect, Boolean AIsNextButton,
                                                                     TvlButtonState AState) const {
  TnbSkinInfo* info = GetSkinInfo();
  TnbSkinElement* button = info ? info->SchedulerNavigationButtons[AIsNextButton] : nullptr;
  if (!button) {
    inherited::DrawSchedulerNavigationButtonContent(ACanvas, ARect, AArrowRect, AIsNextButton, AState);
    return;
  }
  const TnbSkinElementState state = nbSkinElementState(AState);
  ACanvas->SaveClipRegion();
  Finally restore([&] { ACanvas->RestoreClipRegion(); });
  ACanvas->IntersectClipRect(ARect);
  // The border on the scheduler's side falls outside the clip.
  TRect r = ARect;
  if (AIsNextButton)
    ++r.Right;
  else
    --r.Left;
  button->Draw(DC(ACanvas), r, 0, state);
  if (TnbSkinElement* arrow = info->SchedulerNavigationButtonsArrow[AIsNextButton])
    arrow->Draw(DC(ACanvas), AArrowRect, 0, state);
}

// --- navigator glyphs, clock, month header ------------------------------------------------------

void nbSkinGreyGlyphPixels(TBitmap* ABitmap) {
  for (Integer y = 0; y < ABitmap->Height(); ++y) {
    auto* row = static_cast<Cardinal*>(ABitmap->ScanLine(y));
    for (Integer x = 0; x < ABitmap->Width(); ++x) {
      const Cardinal p = row[x];
      const Cardinal a = p >> 24, r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
      const Cardinal grey = (2 * a + b + g + r) / 5;
      row[x] = (a << 24) | (grey << 16) | (grey << 8) | grey;
    }
  }
}

void TnbSkinLookAndFeelPainter::DrawNavigatorGlyph(TvlCanvas* ACanvas, TCustomImageList* AImageList,
                                                   TImageIndex AImageIndex, Integer AButtonIndex,
                                                   const TRect& AGlyphRect, Boolean AEnabled,
                                                   Boolean AUserGlyphs) const {
  TnbSkinInfo* info = GetSkinInfo();
  if (!info || !info->NavigatorGlyphs || !info->NavigatorGlyphsVert || AUserGlyphs) {
    inherited::DrawNavigatorGlyph(ACanvas, AImageList, AImageIndex, AButtonIndex, AGlyphRect, AEnabled, AUserGlyphs);
    return;
  }
  // Indexes past the horizontal glyphs continue in the vertical ones.
  TnbSkinElement* glyphs = info->NavigatorGlyphs;
  Integer index = AImageIndex;
  if (index >= glyphs->ImageCount()) {
    index -= glyphs->ImageCount();
    glyphs = info->NavigatorGlyphsVert;
  }
  if (AEnabled) {
    glyphs->Draw(DC(ACanvas), AGlyphRect, index, esNormal);
    return;
  }
  const Integer w = AGlyphRect.Right - AGlyphRect.Left, h = AGlyphRect.Bottom - AGlyphRect.Top;
  if (w <= 0 || h <= 0) return;
  Owned<TvlBitmap32> bitmap(vlNewBitmap32(w, h, true));
  const TRect r = Rect(0, 0, w, h);
  glyphs->Draw(bitmap->Canvas()->Handle(), r, index, esNormal);
  nbSkinGreyGlyphPixels(bitmap.get());
  vlAlphaBlendToDC(DC(ACanvas), bitmap.get(), AGlyphRect, 255, false, r);
}

TnbSkinClockHands nbSkinClockHands(Integer AWidth, Integer AHeight, TDateTime ADateTime) {
  const double cx = AWidth / 2.0, cy = AHeight / 2.0;
  const double hx = cx - 2, hy = cy - 2;
  // AAngle in degrees clockwise from twelve o'clock, ALength a fraction of
  // the half-sizes; AAcross pixels perpendicular to the hand.
  auto at = [&](double AAngle, double ALength, double AAcross) {
    const double a = AAngle * M_PI / 180, s = std::sin(a), c = std::cos(a);
    return TPoint{static_cast<Integer>(std::lround(cx + s * hx * ALength + c * AAcross)),
                  static_cast<Integer>(std::lround(cy - c * hy * ALength + s * AAcross))};
  };
  const double day = ADateTime - std::floor(ADateTime);
  const Integer time = static_cast<Integer>(std::lround(day * 86400)) % 86400;
  const Integer hours = time / 3600, minutes = time / 60 % 60, seconds = time % 60;
  const double hourAngle = (hours % 12) * 30 + minutes * 0.5 + seconds / 120.0;
  const double minuteAngle = minutes * 6 + seconds * 0.1;
  TnbSkinClockHands result{};
  auto hand = [&](TPoint* APoints, double AAngle, double ALength, double ATail, double AHalfWidth) {
    APoints[0] = at(AAngle, ALength, 0);
    APoints[1] = at(AAngle, 0, AHalfWidth);
    APoints[2] = at(AAngle, -ATail, 0);
    APoints[3] = at(AAngle, 0, -AHalfWidth);
  };
  hand(result.Hour, hourAngle, 0.75, 0.15, 4.5);
  hand(result.Minute, minuteAngle, 0.85, 0.2, 3.5);
  result.Centre = at(0, 0, 0);
  result.Second = at(seconds * 6, 0.9, 0);
  return result;
}

void TnbSkinLookAndFeelPainter::DrawClock(TvlCanvas* ACanvas, const TRect& ARect, TDateTime ADateTime,
                                          TColor ABackgroundColor) const {
  TnbSkinInfo* info = GetSkinInfo();
  if (!info || !info->ClockElements[0] || !info->ClockElements[1]) {
    inherited::DrawClock(ACanvas, ARect, ADateTime, ABackgroundColor);
    return;
  }
  const Integer w = ARect.Right - ARect.Left, h = ARect.Bottom - ARect.Top;
  if (w <= 0 || h <= 0) return;
  Owned<TBitmap> bitmap(vlCreateBitmapOfSize(w, h, pf32bit));
  Owned<TvlCanvas> canvas(New<TvlCanvas>(bitmap->Canvas()));
  const TRect r = Rect(0, 0, w, h);
  TnbSkinElement* face = info->ClockElements[0];
  canvas->FillRect(r, ABackgroundColor);
  face->Draw(canvas->Handle(), r, 0, esNormal);
  const TnbSkinClockHands hands = nbSkinClockHands(w, h, ADateTime);
  canvas->Brush()->SetStyle(bsSolid);
  canvas->Brush()->SetColor(face->TextColor());
  canvas->Pen()->SetStyle(psSolid);
  canvas->Pen()->SetWidth(1);
  canvas->Pen()->SetColor(face->TextColor());
  canvas->Polygon(std::vector<TPoint>(std::begin(hands.Hour), std::end(hands.Hour)));
  canvas->Polygon(std::vector<TPoint>(std::begin(hands.Minute), std::end(hands.Minute)));
  canvas->MoveTo(hands.Centre.X, hands.Centre.Y);
  canvas->LineTo(hands.Second.X, hands.Second.Y);
  info->ClockElements[1]->Draw(canvas->Handle(), r, 0, esNormal);
  vlBlitBitmap(DC(ACanvas), bitmap.get(), ARect, win::SRCCOPY);
}

void TnbSkinLookAndFeelPainter::DrawMonthHeader(TvlCanvas* ACanvas, const TRect& ABounds, const String& AText,
                                                TvlNeighbors ANeighbors, const TvlViewParams& AViewParams,
                                                TvlHeaderArrows AArrows, Integer ASideWidth,
                                                const TvlDrawBackgroundEvent& AOnDrawBackground) const {
  if (!NB_SKIN(Header)) {
    inherited::DrawMonthHeader(ACanvas, ABounds, AText, ANeighbors, AViewParams, AArrows, ASideWidth,
                               AOnDrawBackground);
    return;
  }
  DrawHeader(ACanvas, ABounds, ABounds, ANeighbors, HeaderBorders(ANeighbors), vlbsNormal, taCenter, vaCenter, false,
             false, AText, AViewParams.Font, AViewParams.TextColor, AViewParams.Color, AOnDrawBackground);
  vl_painters::DrawMonthHeaderArrows(ACanvas, ABounds, AArrows, ASideWidth, BorderSize(),
                                     DefaultDateNavigatorHeaderTextColor(false));
}
