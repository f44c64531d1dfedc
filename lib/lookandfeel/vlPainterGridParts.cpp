// The base painter's headers, header-control sections, sorting marks,
// group-by box, footers, filter buttons, windows, tabs, indicators, scroll
// bars and size grip.
#include "lib/lookandfeel/vlLookAndFeelPainters.h"
#include "lib/lookandfeel/vlPainterHelpers.h"
#include "platform/rtl/Finally.h"
#include "platform/vcl/Graphics.h"
#include "platform/vcl/ImgList.h"
#include "platform/win/Gdi.h"
#include "platform/win/SysMetrics.h"
#include "platform/win/Windows.h"

using namespace vl_painters;

// --- Headers -------------------------------------------------------------------------------

void TvlCustomLookAndFeelPainter::DrawHeader(TvlCanvas* ACanvas, const TRect& ABounds, const TRect& ATextAreaBounds,
                                             TvlNeighbors ANeighbors, TvlBorders ABorders, TvlButtonState AState,
                                             TAlignment AAlignmentHorz, TvlAlignmentVert AAlignmentVert,
                                             Boolean AMultiLine, Boolean AShowEndEllipsis, const String& AText,
                                             TFont* AFont, TColor ATextColor, TColor ABkColor,
                                             const TvlDrawBackgroundEvent& AOnDrawBackground, Boolean AIsLast,
                                             Boolean AIsGroup) const {
  DrawHeaderBorder(ACanvas, ABounds, ANeighbors, ABorders);
  DrawContent(ACanvas, HeaderContentBounds(ABounds, ABorders), ATextAreaBounds, AState, AAlignmentHorz,
              AAlignmentVert, AMultiLine, AShowEndEllipsis, AText, AFont, ATextColor, ABkColor, AOnDrawBackground,
              false);
}

void TvlCustomLookAndFeelPainter::DrawHeaderEx(TvlCanvas* ACanvas, const TRect& ABounds,
                                               const TRect& ATextAreaBounds, TvlNeighbors ANeighbors,
                                               TvlBorders ABorders, TvlButtonState AState, TAlignment AAlignmentHorz,
                                               TvlAlignmentVert AAlignmentVert, Boolean AMultiLine,
                                               Boolean AShowEndEllipsis, const String& AText, TFont* AFont,
                                               TColor ATextColor, TColor ABkColor,
                                               const TvlDrawBackgroundEvent& AOnDrawBackground) const {
  DrawHeader(ACanvas, ABounds, ATextAreaBounds, ANeighbors, ABorders, AState, AAlignmentHorz, AAlignmentVert,
             AMultiLine, AShowEndEllipsis, AText, AFont, ATextColor, ABkColor, AOnDrawBackground, false, false);
}

void TvlCustomLookAndFeelPainter::DrawHeaderBorder(TvlCanvas* ACanvas, const TRect& R, TvlNeighbors ANeighbors,
                                                   TvlBorders ABorders) const {}

void TvlCustomLookAndFeelPainter::DrawHeaderPressed(TvlCanvas* ACanvas, const TRect& ABounds) const {
  ACanvas->InvertRect(ABounds);
}

void TvlCustomLookAndFeelPainter::DrawHeaderControlSection(
    TvlCanvas* ACanvas, const TRect& ABounds, const TRect& ATextAreaBounds, TvlNeighbors ANeighbors,
    TvlBorders ABorders, TvlButtonState AState, TAlignment AAlignmentHorz, TvlAlignmentVert AAlignmentVert,
    Boolean AMultiLine, Boolean AShowEndEllipsis, const String& AText, TFont* AFont, TColor ATextColor,
    TColor ABkColor) const {
  DrawHeaderControlSectionBorder(ACanvas, ABounds, ABorders, AState);
  DrawHeaderControlSectionContent(ACanvas, HeaderControlSectionContentBounds(ABounds, AState), ATextAreaBounds,
                                  AState, AAlignmentHorz, AAlignmentVert, AMultiLine, AShowEndEllipsis, AText, AFont,
                                  ATextColor, ABkColor);
}

void TvlCustomLookAndFeelPainter::DrawHeaderControlSectionBorder(TvlCanvas* ACanvas, const TRect& R,
                                                                 TvlBorders ABorders, TvlButtonState AState) const {}

void TvlCustomLookAndFeelPainter::DrawHeaderControlSectionContent(
    TvlCanvas* ACanvas, const TRect& ABounds, const TRect& ATextAreaBounds, TvlButtonState AState,
    TAlignment AAlignmentHorz, TvlAlignmentVert AAlignmentVert, Boolean AMultiLine, Boolean AShowEndEllipsis,
    const String& AText, TFont* AFont, TColor ATextColor, TColor ABkColor) const {
  ACanvas->FillRect(ABounds, ABkColor);
  DrawHeaderControlSectionText(ACanvas, HeaderControlSectionTextAreaBounds(ATextAreaBounds, AState), AState,
                               AAlignmentHorz, AAlignmentVert, AMultiLine, AShowEndEllipsis, AText, AFont,
                               ATextColor);
}

void TvlCustomLookAndFeelPainter::DrawHeaderControlSectionText(
    TvlCanvas* ACanvas, const TRect& ATextAreaBounds, TvlButtonState AState, TAlignment AAlignmentHorz,
    TvlAlignmentVert AAlignmentVert, Boolean AMultiLine, Boolean AShowEndEllipsis, const String& AText, TFont* AFont,
    TColor ATextColor) const {
  if (AText.empty()) return;
  ACanvas->Brush()->SetStyle(bsClear);
  if (AFont) ACanvas->SetFont(AFont);
  if (AState == vlbsDisabled) {
    ACanvas->Font()->SetColor(clBtnHighlight);
    ACanvas->DrawTexT(AText, vlOffsetRect(ATextAreaBounds, 1, 1), AAlignmentHorz, AAlignmentVert, AMultiLine,
                      AShowEndEllipsis);
    ACanvas->Font()->SetColor(clBtnShadow);
  } else if (ATextColor != clNone)
    ACanvas->Font()->SetColor(ATextColor);
  ACanvas->DrawTexT(AText, ATextAreaBounds, AAlignmentHorz, AAlignmentVert, AMultiLine, AShowEndEllipsis);
  ACanvas->Brush()->SetStyle(bsSolid);
}

void TvlCustomLookAndFeelPainter::DrawHeaderSeparator(TvlCanvas* ACanvas, const TRect& ABounds, Integer AIndentSize,
                                                      TColor AColor, const TvlViewParams& AViewParams) const {
  TRect r = ABounds;
  r.Right = r.Left + AIndentSize;
  ACanvas->FillRect(r, AViewParams);
  r = ABounds;
  r.Left = r.Right - AIndentSize;
  ACanvas->FillRect(r, AViewParams);
  r = vlInflateRectSides(ABounds, -AIndentSize, 0, -AIndentSize, 0);
  ACanvas->FillRect(r, AColor);
}

void TvlCustomLookAndFeelPainter::DrawSortingMark(TvlCanvas* ACanvas, const TRect& R,
                                                  Boolean AAscendingSorting) const {}

TvlBorders TvlCustomLookAndFeelPainter::HeaderBorders(TvlNeighbors ANeighbors) const { return vlBordersAll; }
Integer TvlCustomLookAndFeelPainter::HeaderBorderSize() const { return 0; }

TRect TvlCustomLookAndFeelPainter::HeaderBounds(const TRect& ABounds, TvlNeighbors ANeighbors,
                                                TvlBorders ABorders) const {
  const TvlBorders own = HeaderBorders(ANeighbors);
  const Integer b = HeaderBorderSize();
  auto grow = [&](TvlBorder ASide) { return ABorders.Contains(ASide) && !own.Contains(ASide) ? b : 0; };
  return vlInflateRectSides(ABounds, grow(bLeft), grow(bTop), grow(bRight), grow(bBottom));
}

TRect TvlCustomLookAndFeelPainter::HeaderContentBounds(const TRect& ABounds, TvlBorders ABorders) const {
  const Integer b = HeaderBorderSize();
  auto side = [&](TvlBorder ASide) { return ABorders.Contains(ASide) ? -b : 0; };
  return vlInflateRectSides(ABounds, side(bLeft), side(bTop), side(bRight), side(bBottom));
}

Boolean TvlCustomLookAndFeelPainter::HeaderDrawCellsFirst() const { return true; }

Integer TvlCustomLookAndFeelPainter::HeaderHeight(Integer AFontHeight) const {
  return AFontHeight + 2 * HeaderBorderSize() + 4;
}

Integer TvlCustomLookAndFeelPainter::HeaderControlSectionBorderSize(TvlButtonState AState) const { return 1; }

TRect TvlCustomLookAndFeelPainter::HeaderControlSectionTextAreaBounds(TRect ABounds, TvlButtonState AState) const {
  return AState == vlbsPressed ? vlOffsetRect(ABounds, 1, 1) : ABounds;
}

TRect TvlCustomLookAndFeelPainter::HeaderControlSectionContentBounds(const TRect& ABounds,
                                                                     TvlButtonState AState) const {
  return Deflated(ABounds, HeaderControlSectionBorderSize(AState));
}

Integer TvlCustomLookAndFeelPainter::HeaderWidth(TvlCanvas* ACanvas, TvlBorders ABorders, const String& AText,
                                                 TFont* AFont) const {
  if (AFont) ACanvas->SetFont(AFont);
  Integer result = ACanvas->TextWidth(AText) + 4;
  if (ABorders.Contains(bLeft)) result += HeaderBorderSize();
  if (ABorders.Contains(bRight)) result -= HeaderBorderSize();
  return result;
}

Boolean TvlCustomLookAndFeelPainter::IsHeaderHotTrack() const { return false; }
TPoint TvlCustomLookAndFeelPainter::SortingMarkAreaSize() const { return TPoint{16, SortingMarkSize().Y}; }
TPoint TvlCustomLookAndFeelPainter::SortingMarkSize() const { return TPoint{0, 0}; }

void TvlCustomLookAndFeelPainter::DrawGroupByBox(TvlCanvas* ACanvas, const TRect& ARect, Boolean ATransparent,
                                                 TColor ABackgroundColor, TBitmap* ABackgroundBitmap) const {
  DrawBackground(ACanvas, ARect, ABackgroundBitmap, ABackgroundColor, ATransparent);
}

Boolean TvlCustomLookAndFeelPainter::GridDrawHeaderCellsFirst() const { return HeaderDrawCellsFirst(); }

// --- Pivot grid ------------------------------------------------------------------------------------

TColor TvlCustomLookAndFeelPainter::PivotGridHeadersAreaColor() const { return DefaultHeaderBackgroundColor(); }
TColor TvlCustomLookAndFeelPainter::PivotGridHeadersAreaTextColor() const {
  return DefaultHeaderBackgroundTextColor();
}

// --- Footers -----------------------------------------------------------------------------------------

TvlBorders TvlCustomLookAndFeelPainter::FooterBorders() const { return vlBordersAll; }
Integer TvlCustomLookAndFeelPainter::FooterBorderSize() const { return 0; }
Integer TvlCustomLookAndFeelPainter::FooterCellBorderSize() const { return 0; }
Integer TvlCustomLookAndFeelPainter::FooterCellOffset() const { return 0; }
Boolean TvlCustomLookAndFeelPainter::FooterDrawCellsFirst() const { return true; }
TColor TvlCustomLookAndFeelPainter::FooterSeparatorColor() const { return clBtnShadow; }
Integer TvlCustomLookAndFeelPainter::FooterSeparatorSize() const { return 1; }

void TvlCustomLookAndFeelPainter::DrawFooterCell(TvlCanvas* ACanvas, const TRect& ABounds, TAlignment AAlignmentHorz,
                                                 TvlAlignmentVert AAlignmentVert, Boolean AMultiLine,
                                                 const String& AText, TFont* AFont, TColor ATextColor,
                                                 TColor ABkColor,
                                                 const TvlDrawBackgroundEvent& AOnDrawBackground) const {
  DrawFooterCellBorder(ACanvas, ABounds);
  DrawFooterCellContent(ACanvas, ABounds, AAlignmentHorz, AAlignmentVert, AMultiLine, AText, AFont, ATextColor,
                        ABkColor, AOnDrawBackground);
}

void TvlCustomLookAndFeelPainter::DrawFooterCellContent(TvlCanvas* ACanvas, const TRect& ABounds,
                                                        TAlignment AAlignmentHorz, TvlAlignmentVert AAlignmentVert,
                                                        Boolean AMultiLine, const String& AText, TFont* AFont,
                                                        TColor ATextColor, TColor ABkColor,
                                                        const TvlDrawBackgroundEvent& AOnDrawBackground) const {
  DrawContent(ACanvas, FooterCellContentBounds(ABounds), FooterCellTextAreaBounds(ABounds), vlbsNormal,
              AAlignmentHorz, AAlignmentVert, AMultiLine, false, AText, AFont, ATextColor, ABkColor,
              AOnDrawBackground, true);
}

void TvlCustomLookAndFeelPainter::DrawFooterBorder(TvlCanvas* ACanvas, const TRect& R) const {}
void TvlCustomLookAndFeelPainter::DrawFooterCellBorder(TvlCanvas* ACanvas, const TRect& R) const {}

void TvlCustomLookAndFeelPainter::DrawFooterContent(TvlCanvas* ACanvas, const TRect& ARect,
                                                    const TvlViewParams& AViewParams) const {
  if (!vlIsRectEmpty(ARect)) ACanvas->FillRect(ARect, AViewParams);
}

void TvlCustomLookAndFeelPainter::DrawFooterSeparator(TvlCanvas* ACanvas, const TRect& R) const {
  ACanvas->FillRect(R, FooterSeparatorColor());
}

void TvlCustomLookAndFeelPainter::DrawFooterPanel(TvlCanvas* ACanvas, const TRect& ABounds,
                                                  const TvlViewParams& AViewParams, TvlBorders ABorders) const {
  ACanvas->SaveClipRegion();
  Finally restore([&] { ACanvas->RestoreClipRegion(); });
  ACanvas->IntersectClipRect(ABounds);
  DrawFooterContent(ACanvas, ABounds, AViewParams);
  DrawFooterPanelBorder(ACanvas, ABounds, ABorders);
}

// --- Filter buttons and filter panel --------------------------------------------------------------------

void TvlCustomLookAndFeelPainter::DrawFilterActivateButton(TvlCanvas* ACanvas, TRect R, TvlButtonState AState,
                                                           Boolean AChecked) const {
  DrawCheckButton(ACanvas, R, AState, AChecked);
}

void TvlCustomLookAndFeelPainter::DrawFilterCloseButton(TvlCanvas* ACanvas, TRect R, TvlButtonState AState) const {
  DrawButtonBorder(ACanvas, R, AState);
  R = Deflated(R, ButtonBorderSize(vlbsNormal));
  ACanvas->FillRect(R, ButtonColor(AState));
  DrawButtonCross(ACanvas, R, ButtonSymbolColor(AState, clDefault), ButtonSymbolState(AState));
}

void TvlCustomLookAndFeelPainter::DrawFilterDropDownButton(TvlCanvas* ACanvas, TRect R, TvlButtonState AState,
                                                           Boolean AIsFilterActive) const {}

void TvlCustomLookAndFeelPainter::DrawFilterPanel(TvlCanvas* ACanvas, const TRect& ARect, Boolean ATransparent,
                                                  TColor ABackgroundColor, TBitmap* ABackgroundBitmap) const {
  DrawBackground(ACanvas, ARect, ABackgroundBitmap, ABackgroundColor, ATransparent);
}

TPoint TvlCustomLookAndFeelPainter::FilterActivateButtonSize() const { return TPoint{13, 13}; }
TPoint TvlCustomLookAndFeelPainter::FilterCloseButtonSize() const { return TPoint{16, 14}; }
TPoint TvlCustomLookAndFeelPainter::FilterDropDownButtonSize() const { return TPoint{15, 0}; }

// --- Windows and popups ------------------------------------------------------------------------------------

void TvlCustomLookAndFeelPainter::DrawWindowContent(TvlCanvas* ACanvas, const TRect& ARect) const {
  ACanvas->FillRect(ARect, clBtnFace);
}

TvlPopupBorderStyle TvlCustomLookAndFeelPainter::PopupBorderStyle() const { return pbsUltraFlat; }

// --- Tabs ----------------------------------------------------------------------------------------------------

void TvlCustomLookAndFeelPainter::DrawTab(TvlCanvas* ACanvas, TRect R, TvlBorders ABorders, const String& AText,
                                          TvlButtonState AState, Boolean AVertical, TFont* AFont, TColor ATextColor,
                                          TColor ABkColor, Boolean AShowPrefix) const {}
void TvlCustomLookAndFeelPainter::DrawTabBorder(TvlCanvas* ACanvas, TRect R, TvlBorder ABorder, TvlBorders ABorders,
                                                Boolean AVertical) const {}
void TvlCustomLookAndFeelPainter::DrawTabsRoot(TvlCanvas* ACanvas, const TRect& R, TvlBorders ABorders,
                                               Boolean AVertical) const {}
Boolean TvlCustomLookAndFeelPainter::IsDrawTabImplemented(Boolean AVertical) const { return false; }
Boolean TvlCustomLookAndFeelPainter::IsTabHotTrack(Boolean AVertical) const { return false; }
Integer TvlCustomLookAndFeelPainter::TabBorderSize(Boolean AVertical) const { return 0; }

// --- Indicator -------------------------------------------------------------------------------------------------

void TvlCustomLookAndFeelPainter::DrawIndicatorCustomizationMark(TvlCanvas* ACanvas, const TRect& R,
                                                                 TColor AColor) const {
  const Integer top = (R.Top + R.Bottom - 9) / 2;
  for (Integer i = 0; i < 5; ++i) {
    const Integer y = top + 2 * i;
    ACanvas->FillRect(TRect{R.Left + 5, y, R.Right - 3, y + 1}, AColor);
    if (i % 2 == 0) ACanvas->FillRect(TRect{R.Left + 3, y, R.Left + 4, y + 1}, AColor);
  }
}

void TvlCustomLookAndFeelPainter::DrawIndicatorImage(TvlCanvas* ACanvas, const TRect& R,
                                                     TvlIndicatorKind AKind) const {
  TImageList* images = vlIndicatorImages();
  if (AKind == ikNone || !images) return;
  ACanvas->DrawImage(images, (R.Left + R.Right - images->Width()) / 2, (R.Top + R.Bottom - images->Height()) / 2,
                     Integer(AKind) - 1, true);
}

void TvlCustomLookAndFeelPainter::DrawIndicatorItem(TvlCanvas* ACanvas, const TRect& R, TvlIndicatorKind AKind,
                                                    TColor AColor,
                                                    const TvlDrawBackgroundEvent& AOnDrawBackground) const {
  DrawHeader(ACanvas, R, R, TvlNeighbors(), HeaderBorders(TvlNeighbors{nTop, nBottom}), vlbsNormal, taLeftJustify,
             vaTop, false, false, String(), nullptr, clNone, AColor, AOnDrawBackground);
  DrawIndicatorImage(ACanvas, R, AKind);
}

void TvlCustomLookAndFeelPainter::DrawIndicatorItemEx(TvlCanvas* ACanvas, const TRect& R, TvlIndicatorKind AKind,
                                                      TColor AColor,
                                                      const TvlDrawBackgroundEvent& AOnDrawBackground) const {
  DrawHeaderEx(ACanvas, R, R, TvlNeighbors(), vlBordersAll, vlbsNormal, taLeftJustify, vaTop, false, false, String(),
               nullptr, clNone, AColor, AOnDrawBackground);
  DrawIndicatorImage(ACanvas, R, AKind);
}

Boolean TvlCustomLookAndFeelPainter::IndicatorDrawItemsFirst() const { return true; }

// --- Scroll bars ----------------------------------------------------------------------------------------------------

Integer TvlCustomLookAndFeelPainter::ScrollBarMinimalThumbSize(Boolean AVertical) const { return 8; }

void TvlCustomLookAndFeelPainter::DrawScrollBarBackground(TvlCanvas* ACanvas, const TRect& R,
                                                          Boolean AHorizontal) const {
  DrawScrollBarPart(ACanvas, AHorizontal, R, sbpPageUp, vlbsNormal);
}

void TvlCustomLookAndFeelPainter::DrawScrollBarPart(TvlCanvas* ACanvas, Boolean AHorizontal, TRect R,
                                                    TvlScrollBarPart APart, TvlButtonState AState) const {}

// --- Size grip ------------------------------------------------------------------------------------------------------

TSize TvlCustomLookAndFeelPainter::SizeGripSize() const {
  return TSize{win::GetSystemMetrics(win::SM_CXVSCROLL), win::GetSystemMetrics(win::SM_CYHSCROLL)};
}

void TvlCustomLookAndFeelPainter::DrawSizeGrip(TvlCanvas* ACanvas, const TRect& ARect,
                                               TColor ABackgroundColor) const {
  ACanvas->FillRect(ARect, ABackgroundColor);
  TRect r = ARect;
  win::DrawFrameControl(ACanvas->Handle(), &r, win::DFC_SCROLL, win::DFCS_SCROLLSIZEGRIP);
}
