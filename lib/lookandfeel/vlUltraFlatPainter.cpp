// The ultra-flat painter: one-pixel frames in system colours; hot and
// pressed parts framed in the highlight colour on backgrounds mixed from the
// highlight and window colours (computed on every call, so they follow the
// system colours).
#include "lib/foundation/vlGraphicsUtils.h"
#include "lib/lookandfeel/vlLookAndFeelPainters.h"
#include "lib/lookandfeel/vlPainterHelpers.h"
#include "platform/vcl/Graphics.h"

using namespace vl_painters;

namespace vl_painters {

void FillScrollBarPage(TvlCanvas* ACanvas, const TRect& R, Boolean APressed) {
  ACanvas->Brush()->SetBitmap(vlScrollBarPatternBitmap(APressed ? 1 : 0));
  ACanvas->FillRect(R);
  ACanvas->Brush()->SetBitmap(nullptr);
  ACanvas->Brush()->SetStyle(bsSolid);
}

}  // namespace vl_painters

TvlLookAndFeelStyle TvlUltraFlatLookAndFeelPainter::LookAndFeelStyle() const { return lfsUltraFlat; }
TColor TvlUltraFlatLookAndFeelPainter::DefaultSchedulerBorderColor() const { return clBtnShadow; }

// --- Borders and separators ---------------------------------------------------------------

Integer TvlUltraFlatLookAndFeelPainter::BorderSize() const { return 1; }

void TvlUltraFlatLookAndFeelPainter::DrawBorder(TvlCanvas* ACanvas, TRect R) const {
  ACanvas->FrameRect(R, clBtnShadow);
}

void TvlUltraFlatLookAndFeelPainter::DrawSeparator(TvlCanvas* ACanvas, const TRect& R, Boolean AIsVertical) const {
  ACanvas->FillRect(CenteredStripRect(R, BorderSize(), AIsVertical), clBtnShadow);
}

// --- Buttons ------------------------------------------------------------------------------------

Integer TvlUltraFlatLookAndFeelPainter::ButtonBorderSize(TvlButtonState AState) const {
  return AState == vlbsDefault ? 2 : 1;
}

TColor TvlUltraFlatLookAndFeelPainter::ButtonColor(TvlButtonState AState) const {
  switch (AState) {
    case vlbsHot: return vlGetLighterHighlightColor();
    case vlbsPressed: return vlGetLightHighlightColor();
    default: return inherited::ButtonColor(AState);
  }
}

TRect TvlUltraFlatLookAndFeelPainter::ButtonFocusRect(TvlCanvas* ACanvas, TRect R) const {
  return DeflatedOrSelf(R, 3);
}

TRect TvlUltraFlatLookAndFeelPainter::ButtonGroupBorderSizes(Integer AButtonCount, Integer AButtonIndex) const {
  TRect result{1, 2, 1, 2};
  if (AButtonIndex == 0)
    result.Left = 2;
  else if (AButtonIndex == AButtonCount - 1)
    result.Right = 2;
  return result;
}

Integer TvlUltraFlatLookAndFeelPainter::ButtonTextOffset() const { return 2; }
Integer TvlUltraFlatLookAndFeelPainter::ButtonTextShift() const { return 0; }

TColor TvlUltraFlatLookAndFeelPainter::ButtonSymbolColor(TvlButtonState AState, TColor ADefaultColor) const {
  return AState == vlbsPressed ? clHighlightText : inherited::ButtonSymbolColor(AState, ADefaultColor);
}

TvlButtonState TvlUltraFlatLookAndFeelPainter::ButtonSymbolState(TvlButtonState AState) const { return vlbsNormal; }

void TvlUltraFlatLookAndFeelPainter::DrawButtonInGroup(TvlCanvas* ACanvas, TRect R, TvlButtonState AState,
                                                       Integer AButtonCount, Integer AButtonIndex,
                                                       TColor ABackgroundColor) const {
  const Boolean first = AButtonIndex == 0, last = AButtonIndex == AButtonCount - 1;
  R.Top += 1;
  R.Bottom -= 1;
  if (first) R.Left += 1;
  if (last) R.Right -= 1;
  if (AState == vlbsNormal || AState == vlbsDisabled) {
    ACanvas->FrameRect(R, ABackgroundColor);
    R = Deflated(R, 1);
  } else {
    if (!first) {
      ACanvas->FillRect(TRect{R.Left, R.Top, R.Left + 1, R.Bottom}, BorderHighlightColor());
      ++R.Left;
    }
    if (!last) {
      ACanvas->FillRect(TRect{R.Right - 1, R.Top, R.Right, R.Bottom}, BorderHighlightColor());
      --R.Right;
    }
  }
  ACanvas->FillRect(R, ButtonColor(AState));
}

void TvlUltraFlatLookAndFeelPainter::DrawButtonBorder(TvlCanvas* ACanvas, TRect R, TvlButtonState AState) const {
  switch (AState) {
    case vlbsDefault:
      ACanvas->FrameRect(R, clWindowFrame);
      ACanvas->FrameRect(Deflated(R, 1), clWindowFrame);
      break;
    case vlbsNormal: ACanvas->FrameRect(R, clBtnText); break;
    case vlbsDisabled: ACanvas->FrameRect(R, clBtnShadow); break;
    default: ACanvas->FrameRect(R, clHighlight); break;
  }
}

void TvlUltraFlatLookAndFeelPainter::DrawButtonGroupBorder(TvlCanvas* ACanvas, TRect R, Boolean AInplace,
                                                           Boolean ASelected) const {
  ACanvas->FrameRect(R, AInplace ? clBtnText : (ASelected ? BorderHighlightColor() : clBtnShadow));
}

// --- Expand buttons and check boxes ------------------------------------------------------------------

void TvlUltraFlatLookAndFeelPainter::DrawExpandButton(TvlCanvas* ACanvas, const TRect& R, Boolean AExpanded,
                                                      TColor AColor) const {
  ACanvas->FrameRect(R, clBtnShadow);
  ACanvas->FillRect(Deflated(R, 1), AColor == clDefault ? clBtnFace : AColor);
  DrawExpandSign(ACanvas, R, AExpanded, clBtnText);
  ACanvas->ExcludeClipRect(R);
}

Integer TvlUltraFlatLookAndFeelPainter::ExpandButtonSize() const { return 11; }
Boolean TvlUltraFlatLookAndFeelPainter::IsButtonHotTrack() const { return true; }

void TvlUltraFlatLookAndFeelPainter::DrawCheckBorder(TvlCanvas* ACanvas, TRect R, TvlButtonState AState) const {
  ACanvas->FrameRect(R, clBtnText);
  ACanvas->FrameRect(Deflated(R, 1), CheckButtonColor(AState));
}

// --- Headers ------------------------------------------------------------------------------------------

void TvlUltraFlatLookAndFeelPainter::DrawHeaderEx(TvlCanvas* ACanvas, const TRect& ABounds,
                                                  const TRect& ATextAreaBounds, TvlNeighbors ANeighbors,
                                                  TvlBorders ABorders, TvlButtonState AState,
                                                  TAlignment AAlignmentHorz, TvlAlignmentVert AAlignmentVert,
                                                  Boolean AMultiLine, Boolean AShowEndEllipsis, const String& AText,
                                                  TFont* AFont, TColor ATextColor, TColor ABkColor,
                                                  const TvlDrawBackgroundEvent& AOnDrawBackground) const {
  DrawContent(ACanvas, ABounds, Deflated(ATextAreaBounds, 1), AState, AAlignmentHorz, AAlignmentVert, AMultiLine,
              AShowEndEllipsis, AText, AFont, ATextColor, ABkColor, AOnDrawBackground, false);
  DrawHeaderBorder(ACanvas, Deflated(ABounds, 1), ANeighbors, ABorders);
}

void TvlUltraFlatLookAndFeelPainter::DrawHeaderBorder(TvlCanvas* ACanvas, const TRect& R, TvlNeighbors ANeighbors,
                                                      TvlBorders ABorders) const {
  TvlBorders sides{bRight, bBottom};
  if (ABorders.Contains(bLeft)) sides.Include(bLeft);
  if (ABorders.Contains(bTop)) sides.Include(bTop);
  ACanvas->FrameRect(R, clBtnText, 1, sides);
}

void TvlUltraFlatLookAndFeelPainter::DrawHeaderControlSectionBorder(TvlCanvas* ACanvas, const TRect& R,
                                                                    TvlBorders ABorders,
                                                                    TvlButtonState AState) const {
  ACanvas->FrameRect(R, AState == vlbsDisabled ? clBtnShadow : clBlack, 1, ABorders);
}

void TvlUltraFlatLookAndFeelPainter::DrawHeaderControlSectionContent(
    TvlCanvas* ACanvas, const TRect& ABounds, const TRect& ATextAreaBounds, TvlButtonState AState,
    TAlignment AAlignmentHorz, TvlAlignmentVert AAlignmentVert, Boolean AMultiLine, Boolean AShowEndEllipsis,
    const String& AText, TFont* AFont, TColor ATextColor, TColor ABkColor) const {
  ACanvas->FillRect(ABounds, AState == vlbsDefault || AState == vlbsNormal ? ABkColor : ButtonColor(AState));
  DrawHeaderControlSectionText(ACanvas, HeaderControlSectionTextAreaBounds(ATextAreaBounds, AState), AState,
                               AAlignmentHorz, AAlignmentVert, AMultiLine, AShowEndEllipsis, AText, AFont,
                               ATextColor);
}

void TvlUltraFlatLookAndFeelPainter::DrawSortingMark(TvlCanvas* ACanvas, const TRect& R,
                                                     Boolean AAscendingSorting) const {
  DrawSortingMarkOutline(ACanvas, R, SortingMarkSize(), AAscendingSorting, clBtnShadow, clBtnShadow);
}

TvlBorders TvlUltraFlatLookAndFeelPainter::HeaderBorders(TvlNeighbors ANeighbors) const {
  TvlBorders result = vlBordersAll;
  if (ANeighbors.Contains(nLeft)) result.Exclude(bLeft);
  if (ANeighbors.Contains(nTop)) result.Exclude(bTop);
  return result;
}

Integer TvlUltraFlatLookAndFeelPainter::HeaderBorderSize() const { return 1; }
TPoint TvlUltraFlatLookAndFeelPainter::SortingMarkSize() const { return TPoint{7, 8}; }

// --- Footers --------------------------------------------------------------------------------------------

TvlBorders TvlUltraFlatLookAndFeelPainter::FooterBorders() const { return TvlBorders{bRight, bBottom}; }
Integer TvlUltraFlatLookAndFeelPainter::FooterBorderSize() const { return 1; }
Integer TvlUltraFlatLookAndFeelPainter::FooterCellBorderSize() const { return 1; }
Integer TvlUltraFlatLookAndFeelPainter::FooterCellOffset() const { return 2; }

void TvlUltraFlatLookAndFeelPainter::DrawFooterBorder(TvlCanvas* ACanvas, const TRect& R) const {
  DrawFooterPanelBorder(ACanvas, R, TvlBorders{bRight, bBottom});
}

void TvlUltraFlatLookAndFeelPainter::DrawFooterPanelBorder(TvlCanvas* ACanvas, const TRect& R,
                                                           TvlBorders ABorders) const {
  ACanvas->FrameRect(R, FooterSeparatorColor(), FooterSeparatorSize(), ABorders);
}

void TvlUltraFlatLookAndFeelPainter::DrawFooterCellBorder(TvlCanvas* ACanvas, const TRect& R) const {
  ACanvas->FrameRect(R, FooterSeparatorColor());
}

// --- Filter buttons ----------------------------------------------------------------------------------------

void TvlUltraFlatLookAndFeelPainter::DrawFilterDropDownButton(TvlCanvas* ACanvas, TRect R, TvlButtonState AState,
                                                              Boolean AIsFilterActive) const {
  ACanvas->FrameRect(R, FilterDropDownButtonBorderColor(AState));
  R = Deflated(R, 1);
  ACanvas->FillRect(R, ButtonColor(AState));
  DrawDropDownTriangle(ACanvas, R, AIsFilterActive ? Rgb(0, 0, 255) : ButtonSymbolColor(AState, clDefault));
}

TPoint TvlUltraFlatLookAndFeelPainter::FilterCloseButtonSize() const {
  TPoint result = inherited::FilterCloseButtonSize();
  ++result.Y;
  return result;
}

// --- Tabs ------------------------------------------------------------------------------------------------------

void TvlUltraFlatLookAndFeelPainter::DrawTabBorder(TvlCanvas* ACanvas, TRect R, TvlBorder ABorder,
                                                   TvlBorders ABorders, Boolean AVertical) const {
  const Boolean farSide = AVertical ? ABorder == bBottom : ABorder == bRight;
  if (!farSide) {
    ACanvas->FillRect(R, TabBorderColor());
    return;
  }
  if (!AVertical) R.Bottom -= TabBorderSize(AVertical);
  ACanvas->FillRect(R, TabBorderDarkColor());
}

void TvlUltraFlatLookAndFeelPainter::DrawTabsRoot(TvlCanvas* ACanvas, const TRect& R, TvlBorders ABorders,
                                                  Boolean AVertical) const {
  ACanvas->FrameRect(R, TabBorderColor(), TabBorderSize(AVertical), ABorders);
}

Integer TvlUltraFlatLookAndFeelPainter::TabBorderSize(Boolean AVertical) const { return 1; }

// --- Scroll bars -------------------------------------------------------------------------------------------------

void TvlUltraFlatLookAndFeelPainter::DrawScrollBarPart(TvlCanvas* ACanvas, Boolean AHorizontal, TRect R,
                                                       TvlScrollBarPart APart, TvlButtonState AState) const {
  if (vlIsRectEmpty(R) || (APart == sbpThumbnail && AState == vlbsDisabled)) return;
  switch (APart) {
    case sbpLineUp:
    case sbpLineDown:
    case sbpThumbnail:
      DrawButton(ACanvas, R, String(), AState, true);
      if (APart != sbpThumbnail)
        DrawScrollBarArrow(ACanvas, R, AState,
                           APart == sbpLineUp ? (AHorizontal ? adLeft : adUp) : (AHorizontal ? adRight : adDown));
      break;
    case sbpPageUp:
    case sbpPageDown: FillScrollBarPage(ACanvas, R, AState == vlbsPressed); break;
    default: break;
  }
}

// --- Scheduler, group box, print preview and splitter ------------------------------------------------------------------

void TvlUltraFlatLookAndFeelPainter::DrawSchedulerNavigationButtonContent(TvlCanvas* ACanvas, const TRect& ARect,
                                                                          const TRect& AArrowRect,
                                                                          Boolean AIsNextButton,
                                                                          TvlButtonState AState) const {
  ACanvas->FillRect(ARect, clBtnFace);
  ACanvas->FrameRect(ARect, AState == vlbsHot ? TabBorderColor() : TabBorderDarkColor(), 1,
                     AIsNextButton ? TvlBorders{bLeft, bTop, bBottom} : TvlBorders{bTop, bRight, bBottom});
  DrawSchedulerNavigationButtonArrow(ACanvas, AArrowRect, AIsNextButton, ButtonSymbolColor(AState, clDefault));
}

void TvlUltraFlatLookAndFeelPainter::DrawSchedulerNavigatorButton(TvlCanvas* ACanvas, TRect R,
                                                                  TvlButtonState AState) const {
  DrawButton(ACanvas, R, String(), AState, AState == vlbsHot || AState == vlbsPressed);
}

void TvlUltraFlatLookAndFeelPainter::DrawSchedulerSplitterBorder(TvlCanvas* ACanvas, TRect R,
                                                                 const TvlViewParams& AViewParams,
                                                                 Boolean AIsHorizontal) const {
  const TColor color = DefaultSchedulerBorderColor();
  if (AIsHorizontal) {
    ACanvas->FillRect(TRect{R.Left, R.Top, R.Right, R.Top + 1}, color);
    ACanvas->FillRect(TRect{R.Left, R.Bottom - 1, R.Right, R.Bottom}, color);
    R = vlInflateRectSides(R, 1, -1, 1, -1);
  } else {
    ACanvas->FillRect(TRect{R.Left, R.Top, R.Left + 1, R.Bottom}, color);
    ACanvas->FillRect(TRect{R.Right - 1, R.Top, R.Right, R.Bottom}, color);
    R = vlInflateRectSides(R, -1, 1, -1, 1);
  }
  ACanvas->FillRect(R, AViewParams);
}

void TvlUltraFlatLookAndFeelPainter::DrawGroupBoxFrame(TvlCanvas* ACanvas, TRect R, Boolean AEnabled,
                                                       TvlGroupBoxCaptionPosition ACaptionPosition,
                                                       TvlBorders ABorders) const {
  ACanvas->FrameRect(R, AEnabled ? clHighlight : clBtnShadow, 1, ABorders, true);
}

void TvlUltraFlatLookAndFeelPainter::DrawPrintPreviewBackground(TvlCanvas* ACanvas, const TRect& R) const {
  const Integer c = ColorToRGB(clBtnShadow);
  auto lighten = [](Integer AChannel) { return static_cast<Byte>(AChannel + (255 - AChannel) / 3); };
  ACanvas->FillRect(R, Rgb(lighten(c & 0xFF), lighten((c >> 8) & 0xFF), lighten((c >> 16) & 0xFF)));
}

TColor TvlUltraFlatLookAndFeelPainter::GetSplitterOuterColor(Boolean AHighlighted) const {
  return AHighlighted ? clHighlight : clBtnShadow;
}

TSize TvlUltraFlatLookAndFeelPainter::GetSplitterSize(Boolean AHorizontal) const {
  TSize result = inherited::GetSplitterSize(AHorizontal);
  (AHorizontal ? result.cy : result.cx) = 1;
  return result;
}

// --- Added by this painter --------------------------------------------------------------------------------------------

TColor TvlUltraFlatLookAndFeelPainter::FilterDropDownButtonBorderColor(TvlButtonState AState) const {
  return AState == vlbsNormal ? clBtnShadow : clHighlight;
}

TColor TvlUltraFlatLookAndFeelPainter::TabBorderColor() const { return clBtnShadow; }
TColor TvlUltraFlatLookAndFeelPainter::TabBorderDarkColor() const { return clBtnText; }
TColor TvlUltraFlatLookAndFeelPainter::BorderHighlightColor() const { return clHighlight; }
