// The standard painter (two-pixel bevels) and the flat painter (one-pixel
// bevels). A ring "A / B" below is a one-pixel frame with A on the left and
// top sides and B on the right and bottom sides.
#include "lib/lookandfeel/vlLookAndFeelPainters.h"
#include "lib/lookandfeel/vlPainterHelpers.h"
#include "platform/vcl/Graphics.h"
#include "platform/win/Gdi.h"

using namespace vl_painters;

namespace {

// The centred strip, one pixel shorter at right and bottom, in clBtnShadow,
// and the same strip moved by (1, 1) in clBtnHighlight.
void DrawEtchedSeparator(TvlCanvas* ACanvas, const TRect& AStrip) {
  const TRect strip = vlInflateRectSides(AStrip, 0, 0, -1, -1);
  ACanvas->FillRect(strip, clBtnShadow);
  ACanvas->FillRect(vlOffsetRect(strip, 1, 1), clBtnHighlight);
}

// The standard and flat header border: a raised ring on all four sides whose
// corner pixels blend into the neighbouring headers.
void DrawRaisedHeaderBorder(TvlCanvas* ACanvas, const TRect& R, TvlNeighbors ANeighbors) {
  Ring(ACanvas, R, clBtnHighlight, clBtnShadow);
  if (ANeighbors.Contains(nLeft)) {
    ACanvas->SetPixel(R.Left, R.Top + 1, clBtnFace);
    ACanvas->SetPixel(R.Left, R.Bottom - 2, clBtnFace);
  }
  if (ANeighbors.Contains(nRight)) {
    ACanvas->SetPixel(R.Right - 1, R.Top, clBtnHighlight);
    ACanvas->SetPixel(R.Right - 1, R.Top + 1, clBtnFace);
    ACanvas->SetPixel(R.Right - 1, R.Bottom - 2, clBtnFace);
  }
}

void DrawTabBorderStrip(TvlCanvas* ACanvas, TRect R, TvlBorder ABorder, TvlBorders ABorders, Boolean AVertical) {
  TColor color = clBtnHighlight;
  if (!AVertical) {
    if (ABorder == bLeft || ABorder == bRight) {
      if (ABorders.Contains(bTop)) R.Top += 2;
      if (ABorders.Contains(bBottom)) R.Bottom -= 1;
    } else if (ABorder == bTop) {
      ACanvas->SetPixel(R.Left, R.Top + 1, clBtnHighlight);
      ACanvas->SetPixel(R.Right - 1, R.Top + 1, clBtnHighlight);
      R.Left += 1;
      R.Right -= 1;
    }
    if (ABorder == bRight) color = clBtnShadow;
  } else {
    if (ABorder == bLeft) {
      R.Top += ABorders.Contains(bTop) ? 2 : 1;
      R.Bottom -= ABorders.Contains(bBottom) ? 2 : 1;
      ACanvas->SetPixel(R.Left + 1, R.Top - 1, clBtnHighlight);
      ACanvas->SetPixel(R.Left + 1, R.Bottom, clBtnHighlight);
    } else if ((ABorder == bTop || ABorder == bBottom) && ABorders.Contains(bLeft))
      R.Left += 1;
    if (ABorder == bBottom) color = clBtnShadow;
  }
  ACanvas->FillRect(R, color);
}

// The button border of standard scroll-bar parts.
void DrawScrollBarButtonBorder(TvlCanvas* ACanvas, const TRect& R, Boolean APressed) {
  if (APressed) {
    Ring(ACanvas, R, clBtnShadow, clBtnShadow);
    Ring(ACanvas, Deflated(R, 1), clBtnFace, clBtnFace);
  } else {
    Ring(ACanvas, R, clBtnFace, cl3DDkShadow);
    Ring(ACanvas, Deflated(R, 1), clBtnHighlight, clBtnShadow);
  }
}

// The body of a filter's drop-down button (the same in both painters); the
// answer is the rectangle for the triangle.
TRect DrawBevelledFilterDropDownButton(TvlCanvas* ACanvas, const TRect& R, TvlButtonState AState) {
  if (AState == vlbsPressed)
    Ring(ACanvas, R, clBtnShadow, clBtnHighlight);
  else
    Ring(ACanvas, R, clBtnHighlight, clBtnShadow);
  const TRect inner = Deflated(R, 1);
  ACanvas->FillRect(inner, clBtnFace);
  return inner;
}

TColor FilterTriangleColor(Boolean AIsFilterActive) { return AIsFilterActive ? Rgb(0, 0, 255) : clBtnText; }

// A scheduler splitter border: per step, a line pair at the two long sides
// (ALeftTop and ARightBottom), then R widened by one at both ends and made
// one thinner on each long side; the rest is filled with the view params.
void DrawSplitterLines(TvlCanvas* ACanvas, TRect R, const TvlViewParams& AViewParams, Boolean AIsHorizontal,
                       std::initializer_list<std::pair<TColor, TColor>> ASteps) {
  for (const auto& step : ASteps) {
    if (AIsHorizontal) {
      ACanvas->FillRect(TRect{R.Left, R.Top, R.Right, R.Top + 1}, step.first);
      ACanvas->FillRect(TRect{R.Left, R.Bottom - 1, R.Right, R.Bottom}, step.second);
      R = vlInflateRectSides(R, 1, -1, 1, -1);
    } else {
      ACanvas->FillRect(TRect{R.Left, R.Top, R.Left + 1, R.Bottom}, step.first);
      ACanvas->FillRect(TRect{R.Right - 1, R.Top, R.Right, R.Bottom}, step.second);
      R = vlInflateRectSides(R, -1, 1, -1, 1);
    }
  }
  ACanvas->FillRect(R, AViewParams);
}

}  // namespace

// --- Standard ----------------------------------------------------------------------------------

TvlLookAndFeelStyle TvlStandardLookAndFeelPainter::LookAndFeelStyle() const { return lfsStandard; }
TColor TvlStandardLookAndFeelPainter::DefaultSchedulerViewContentColor() const { return clWindow; }
Integer TvlStandardLookAndFeelPainter::BorderSize() const { return 2; }

void TvlStandardLookAndFeelPainter::DrawBorder(TvlCanvas* ACanvas, TRect R) const {
  Ring(ACanvas, R, clBtnShadow, clBtnHighlight);
  Ring(ACanvas, Deflated(R, 1), cl3DDkShadow, cl3DLight);
}

void TvlStandardLookAndFeelPainter::DrawSeparator(TvlCanvas* ACanvas, const TRect& R, Boolean AIsVertical) const {
  DrawEtchedSeparator(ACanvas, CenteredStripRect(R, BorderSize(), AIsVertical));
}

Integer TvlStandardLookAndFeelPainter::ButtonBorderSize(TvlButtonState AState) const {
  return AState == vlbsDefault ? 3 : 2;
}
Integer TvlStandardLookAndFeelPainter::ButtonTextOffset() const { return 1; }
Integer TvlStandardLookAndFeelPainter::ButtonTextShift() const { return 1; }

void TvlStandardLookAndFeelPainter::DrawButtonBorder(TvlCanvas* ACanvas, TRect R, TvlButtonState AState) const {
  if (AState == vlbsPressed) {
    ACanvas->FrameRect(R, clBlack);
    Ring(ACanvas, Deflated(R, 1), clBtnShadow, clBtnShadow);
    return;
  }
  if (AState == vlbsDefault) {
    ACanvas->FrameRect(R, clBlack);
    R = Deflated(R, 1);
  }
  Ring(ACanvas, R, clBtnHighlight, cl3DDkShadow);
  Ring(ACanvas, Deflated(R, 1), cl3DLight, clBtnShadow);
}

void TvlStandardLookAndFeelPainter::DrawExpandButton(TvlCanvas* ACanvas, const TRect& R, Boolean AExpanded,
                                                     TColor AColor) const {
  Ring(ACanvas, R, clBtnHighlight, cl3DDkShadow);
  const TRect inner = Deflated(R, 1);
  ACanvas->FrameRect(inner, clBtnShadow, 1, TvlBorders{bRight, bBottom});
  ACanvas->FillRect(vlInflateRectSides(inner, 0, 0, -1, -1), AColor == clDefault ? clBtnFace : AColor);
  DrawExpandSign(ACanvas, R, AExpanded, clBtnText);
  ACanvas->ExcludeClipRect(R);
}

void TvlStandardLookAndFeelPainter::DrawGroupExpandButton(TvlCanvas* ACanvas, const TRect& R, Boolean AExpanded,
                                                          TvlButtonState AState) const {
  ClassOf<TvlFlatLookAndFeelPainter>()->DrawGroupExpandButton(ACanvas, R, AExpanded, AState);
}

Integer TvlStandardLookAndFeelPainter::ExpandButtonSize() const { return 12; }
Boolean TvlStandardLookAndFeelPainter::IsButtonHotTrack() const { return false; }

void TvlStandardLookAndFeelPainter::DrawCheckBorder(TvlCanvas* ACanvas, TRect R, TvlButtonState AState) const {
  Ring(ACanvas, R, cl3DDkShadow, cl3DLight);
  Ring(ACanvas, Deflated(R, 1), clBtnShadow, clBtnHighlight);
}

void TvlStandardLookAndFeelPainter::DrawHeaderBorder(TvlCanvas* ACanvas, const TRect& R, TvlNeighbors ANeighbors,
                                                     TvlBorders ABorders) const {
  DrawRaisedHeaderBorder(ACanvas, R, ANeighbors);
}

void TvlStandardLookAndFeelPainter::DrawHeaderControlSectionBorder(TvlCanvas* ACanvas, const TRect& R,
                                                                   TvlBorders ABorders, TvlButtonState AState) const {
  if (AState == vlbsPressed) {
    Ring(ACanvas, R, clBtnShadow, clBtnShadow, ABorders);
    return;
  }
  Ring(ACanvas, R, clBtnHighlight, cl3DDkShadow, ABorders);
  Ring(ACanvas, Deflated(R, 1), cl3DLight, clBtnShadow, ABorders);
}

void TvlStandardLookAndFeelPainter::DrawSortingMark(TvlCanvas* ACanvas, const TRect& R,
                                                    Boolean AAscendingSorting) const {
  DrawSortingMarkOutline(ACanvas, R, SortingMarkSize(), AAscendingSorting, clBtnHighlight, clBtnShadow);
}

Integer TvlStandardLookAndFeelPainter::HeaderBorderSize() const { return 1; }
Integer TvlStandardLookAndFeelPainter::HeaderControlSectionBorderSize(TvlButtonState AState) const {
  return AState == vlbsPressed ? 1 : 2;
}
TPoint TvlStandardLookAndFeelPainter::SortingMarkSize() const { return TPoint{8, 7}; }
Integer TvlStandardLookAndFeelPainter::FooterBorderSize() const { return 1; }
Integer TvlStandardLookAndFeelPainter::FooterCellBorderSize() const { return 1; }
Integer TvlStandardLookAndFeelPainter::FooterCellOffset() const { return 1; }

void TvlStandardLookAndFeelPainter::DrawFooterBorder(TvlCanvas* ACanvas, const TRect& R) const {
  Ring(ACanvas, R, clBtnHighlight, clBtnShadow);
}

void TvlStandardLookAndFeelPainter::DrawFooterCellBorder(TvlCanvas* ACanvas, const TRect& R) const {
  Ring(ACanvas, R, clBtnShadow, clBtnHighlight);
}

void TvlStandardLookAndFeelPainter::DrawFilterDropDownButton(TvlCanvas* ACanvas, TRect R, TvlButtonState AState,
                                                             Boolean AIsFilterActive) const {
  DrawDropDownTriangle(ACanvas, DrawBevelledFilterDropDownButton(ACanvas, R, AState),
                       FilterTriangleColor(AIsFilterActive));
}

void TvlStandardLookAndFeelPainter::DrawTabBorder(TvlCanvas* ACanvas, TRect R, TvlBorder ABorder,
                                                  TvlBorders ABorders, Boolean AVertical) const {
  DrawTabBorderStrip(ACanvas, R, ABorder, ABorders, AVertical);
}

void TvlStandardLookAndFeelPainter::DrawTabsRoot(TvlCanvas* ACanvas, const TRect& R, TvlBorders ABorders,
                                                 Boolean AVertical) const {
  Ring(ACanvas, R, clBtnHighlight, clBtnShadow, ABorders);
}

Integer TvlStandardLookAndFeelPainter::TabBorderSize(Boolean AVertical) const { return 1; }

void TvlStandardLookAndFeelPainter::DrawScrollBarPart(TvlCanvas* ACanvas, Boolean AHorizontal, TRect R,
                                                      TvlScrollBarPart APart, TvlButtonState AState) const {
  if (vlIsRectEmpty(R) || (APart == sbpThumbnail && AState == vlbsDisabled)) return;
  if (AState == vlbsHot) AState = vlbsNormal;
  switch (APart) {
    case sbpLineUp:
    case sbpLineDown: {
      win::UINT type = APart == sbpLineUp ? (AHorizontal ? win::DFCS_SCROLLLEFT : win::DFCS_SCROLLUP)
                                     : (AHorizontal ? win::DFCS_SCROLLRIGHT : win::DFCS_SCROLLDOWN);
      if (AState == vlbsDisabled) type |= win::DFCS_INACTIVE;
      if (AState == vlbsPressed) type |= win::DFCS_FLAT;
      TRect r = AState == vlbsPressed ? vlOffsetRect(R, 1, 1) : R;
      win::DrawFrameControl(ACanvas->Handle(), &r, win::DFC_SCROLL, type);
      DrawScrollBarButtonBorder(ACanvas, R, AState == vlbsPressed);
      break;
    }
    case sbpThumbnail:
      DrawScrollBarButtonBorder(ACanvas, R, false);
      ACanvas->FillRect(Deflated(R, ButtonBorderSize(vlbsNormal)), clBtnFace);
      break;
    case sbpPageUp:
    case sbpPageDown: FillScrollBarPage(ACanvas, R, AState == vlbsPressed); break;
    default: break;
  }
}

void TvlStandardLookAndFeelPainter::DrawMonthHeader(TvlCanvas* ACanvas, const TRect& ABounds, const String& AText,
                                                    TvlNeighbors ANeighbors, const TvlViewParams& AViewParams,
                                                    TvlHeaderArrows AArrows, Integer ASideWidth,
                                                    const TvlDrawBackgroundEvent& AOnDrawBackground) const {
  TvlBorders sides = vlBordersAll;
  if (ANeighbors.Contains(nLeft)) sides.Exclude(bLeft);
  if (ANeighbors.Contains(nRight)) sides.Exclude(bRight);
  ACanvas->FrameRect(ABounds, clBlack, 1, sides);
  const TRect inner = HeaderContentBounds(ABounds, sides);
  DrawHeader(ACanvas, inner, inner, ANeighbors, vlBordersAll, vlbsNormal, taCenter, vaCenter, false, false, AText,
             AViewParams.Font, AViewParams.TextColor, AViewParams.Color, AOnDrawBackground);
  DrawMonthHeaderArrows(ACanvas, ABounds, AArrows, ASideWidth, BorderSize());
}

void TvlStandardLookAndFeelPainter::DrawSchedulerSplitterBorder(TvlCanvas* ACanvas, TRect R,
                                                                const TvlViewParams& AViewParams,
                                                                Boolean AIsHorizontal) const {
  DrawSplitterLines(ACanvas, R, AViewParams, AIsHorizontal,
                    {{clBtnFace, cl3DDkShadow}, {clBtnHighlight, clBtnShadow}});
}

void TvlStandardLookAndFeelPainter::DrawGroupBoxFrame(TvlCanvas* ACanvas, TRect R, Boolean AEnabled,
                                                      TvlGroupBoxCaptionPosition ACaptionPosition,
                                                      TvlBorders ABorders) const {
  const TRect frame = vlInflateRectSides(R, 0, 0, -1, -1);
  ACanvas->FrameRect(frame, clBtnShadow, 1, ABorders, true);
  ACanvas->FrameRect(vlOffsetRect(frame, 1, 1), clBtnHighlight, 1, ABorders, true);
}

// --- Flat ----------------------------------------------------------------------------------------

TvlLookAndFeelStyle TvlFlatLookAndFeelPainter::LookAndFeelStyle() const { return lfsFlat; }
Integer TvlFlatLookAndFeelPainter::BorderSize() const { return 1; }

void TvlFlatLookAndFeelPainter::DrawBorder(TvlCanvas* ACanvas, TRect R) const {
  Ring(ACanvas, R, clBtnShadow, clBtnHighlight);
}

void TvlFlatLookAndFeelPainter::DrawSeparator(TvlCanvas* ACanvas, const TRect& R, Boolean AIsVertical) const {
  DrawEtchedSeparator(ACanvas, CenteredStripRect(R, 2, AIsVertical));
}

Integer TvlFlatLookAndFeelPainter::ButtonBorderSize(TvlButtonState AState) const {
  return AState == vlbsDefault ? 2 : 1;
}
Integer TvlFlatLookAndFeelPainter::ButtonTextOffset() const { return 1; }
Integer TvlFlatLookAndFeelPainter::ButtonTextShift() const { return 1; }

void TvlFlatLookAndFeelPainter::DrawButtonBorder(TvlCanvas* ACanvas, TRect R, TvlButtonState AState) const {
  if (AState == vlbsPressed) {
    Ring(ACanvas, R, clBtnShadow, clBtnHighlight);
    return;
  }
  if (AState == vlbsDefault) {
    ACanvas->FrameRect(R, clBlack);
    R = Deflated(R, 1);
  }
  Ring(ACanvas, R, clBtnHighlight, clBtnShadow);
}

void TvlFlatLookAndFeelPainter::DrawExpandButton(TvlCanvas* ACanvas, const TRect& R, Boolean AExpanded,
                                                 TColor AColor) const {
  DrawButton(ACanvas, R, String(), vlbsNormal, true, AColor);
  DrawExpandSign(ACanvas, Deflated(R, 1), AExpanded, clBtnText);
  ACanvas->ExcludeClipRect(R);
}

Integer TvlFlatLookAndFeelPainter::ExpandButtonSize() const { return 11; }
Boolean TvlFlatLookAndFeelPainter::IsButtonHotTrack() const { return false; }

void TvlFlatLookAndFeelPainter::DrawCheckBorder(TvlCanvas* ACanvas, TRect R, TvlButtonState AState) const {
  Ring(ACanvas, R, clBtnShadow, clBtnHighlight);
  ACanvas->FrameRect(Deflated(R, 1), CheckButtonColor(AState));
}

void TvlFlatLookAndFeelPainter::DrawHeaderBorder(TvlCanvas* ACanvas, const TRect& R, TvlNeighbors ANeighbors,
                                                 TvlBorders ABorders) const {
  DrawRaisedHeaderBorder(ACanvas, R, ANeighbors);
}

void TvlFlatLookAndFeelPainter::DrawHeaderControlSectionBorder(TvlCanvas* ACanvas, const TRect& R,
                                                               TvlBorders ABorders, TvlButtonState AState) const {
  if (AState == vlbsPressed)
    Ring(ACanvas, R, clBtnShadow, clBtnHighlight, ABorders);
  else
    Ring(ACanvas, R, clBtnHighlight, clBtnShadow, ABorders);
}

void TvlFlatLookAndFeelPainter::DrawSortingMark(TvlCanvas* ACanvas, const TRect& R, Boolean AAscendingSorting) const {
  DrawSortingMarkOutline(ACanvas, R, SortingMarkSize(), AAscendingSorting, clBtnHighlight, clBtnShadow);
}

Integer TvlFlatLookAndFeelPainter::HeaderBorderSize() const { return 1; }
TPoint TvlFlatLookAndFeelPainter::SortingMarkSize() const { return TPoint{8, 7}; }
Integer TvlFlatLookAndFeelPainter::FooterBorderSize() const { return 1; }
Integer TvlFlatLookAndFeelPainter::FooterCellBorderSize() const { return 1; }
Integer TvlFlatLookAndFeelPainter::FooterCellOffset() const { return 1; }

void TvlFlatLookAndFeelPainter::DrawFooterBorder(TvlCanvas* ACanvas, const TRect& R) const {
  Ring(ACanvas, R, clBtnHighlight, clBtnShadow);
}

void TvlFlatLookAndFeelPainter::DrawFooterCellBorder(TvlCanvas* ACanvas, const TRect& R) const {
  Ring(ACanvas, R, clBtnShadow, clBtnHighlight);
}

void TvlFlatLookAndFeelPainter::DrawFilterDropDownButton(TvlCanvas* ACanvas, TRect R, TvlButtonState AState,
                                                         Boolean AIsFilterActive) const {
  DrawDropDownTriangle(ACanvas, DrawBevelledFilterDropDownButton(ACanvas, R, AState),
                       FilterTriangleColor(AIsFilterActive));
}

void TvlFlatLookAndFeelPainter::DrawTabBorder(TvlCanvas* ACanvas, TRect R, TvlBorder ABorder, TvlBorders ABorders,
                                              Boolean AVertical) const {
  DrawTabBorderStrip(ACanvas, R, ABorder, ABorders, AVertical);
}

void TvlFlatLookAndFeelPainter::DrawTabsRoot(TvlCanvas* ACanvas, const TRect& R, TvlBorders ABorders,
                                             Boolean AVertical) const {
  Ring(ACanvas, R, clBtnHighlight, clBtnShadow, ABorders);
}

Integer TvlFlatLookAndFeelPainter::TabBorderSize(Boolean AVertical) const { return 1; }

void TvlFlatLookAndFeelPainter::DrawScrollBarPart(TvlCanvas* ACanvas, Boolean AHorizontal, TRect R,
                                                  TvlScrollBarPart APart, TvlButtonState AState) const {
  if (vlIsRectEmpty(R) || (APart == sbpThumbnail && AState == vlbsDisabled)) return;
  if (AState == vlbsHot) AState = vlbsNormal;
  switch (APart) {
    case sbpLineUp:
    case sbpLineDown:
    case sbpThumbnail:
      DrawButton(ACanvas, R, String(), AState, true);
      if (APart != sbpThumbnail)
        DrawScrollBarArrow(ACanvas, Deflated(R, ButtonBorderSize(vlbsNormal)), AState,
                           APart == sbpLineUp ? (AHorizontal ? adLeft : adUp) : (AHorizontal ? adRight : adDown));
      break;
    case sbpPageUp:
    case sbpPageDown: FillScrollBarPage(ACanvas, R, AState == vlbsPressed); break;
    default: break;
  }
}

void TvlFlatLookAndFeelPainter::DrawDateNavigatorDateHeader(TvlCanvas* ACanvas, TRect& R) const {
  ACanvas->FillRect(R, DefaultDateNavigatorHeaderColor());
  ACanvas->FillRect(TRect{R.Left, R.Bottom - 1, R.Right, R.Bottom}, clBtnFace);
  --R.Bottom;
}

void TvlFlatLookAndFeelPainter::DrawSchedulerSplitterBorder(TvlCanvas* ACanvas, TRect R,
                                                            const TvlViewParams& AViewParams,
                                                            Boolean AIsHorizontal) const {
  DrawSplitterLines(ACanvas, R, AViewParams, AIsHorizontal, {{clBtnHighlight, clBtnShadow}});
}

void TvlFlatLookAndFeelPainter::DrawGroupBoxFrame(TvlCanvas* ACanvas, TRect R, Boolean AEnabled,
                                                  TvlGroupBoxCaptionPosition ACaptionPosition,
                                                  TvlBorders ABorders) const {
  ACanvas->FrameRect(R, clBtnShadow, 1, ABorders, true);
  ACanvas->FrameRect(Deflated(R, 1), clBtnHighlight, 1, ABorders, true);
}

TColor TvlFlatLookAndFeelPainter::GetSplitterOuterColor(Boolean AHighlighted) const {
  return AHighlighted ? cl3DDkShadow : clBtnShadow;
}
