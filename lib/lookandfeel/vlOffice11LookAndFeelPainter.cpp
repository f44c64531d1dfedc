#include "lib/lookandfeel/vlOffice11LookAndFeelPainter.h"

#include "lib/foundation/vlGraphicsUtils.h"
#include "lib/lookandfeel/nbOffice11.h"
#include "lib/lookandfeel/nbThemeManager.h"
#include "lib/lookandfeel/vlPainterHelpers.h"
#include "lib/lookandfeel/vlWinXPLookAndFeelPainter.h"
#include "platform/vcl/Graphics.h"
#include "platform/win/Gdi.h"

CL_IMPLEMENT_CLASS(TvlOffice11LookAndFeelPainter)

namespace {

Boolean ScrollBarThemed() { return nbAreThemesAvailable(TnbThemedObjectTypes{totScrollBar}); }
Boolean ButtonThemed() { return nbAreThemesAvailable(TnbThemedObjectTypes{totButton}); }

}  // namespace

// --- Colours -----------------------------------------------------------------------------------------------

TColor TvlOffice11LookAndFeelPainter::HeaderBottomColor() const { return nbOffice11GradientDarkColor; }
TColor TvlOffice11LookAndFeelPainter::HeaderDarkEdgeColor() const { return nbOffice11DarkEdgeColor; }
TColor TvlOffice11LookAndFeelPainter::HeaderLightEdgeColor() const { return nbOffice11LightEdgeColor; }
TColor TvlOffice11LookAndFeelPainter::HeaderTopColor() const {
  return nbBlendColors(nbOffice11GradientLightColor, nbOffice11GradientDarkColor, 50);
}

TColor TvlOffice11LookAndFeelPainter::FilterDropDownButtonBorderColor(TvlButtonState AState) const {
  return AState == vlbsNormal ? HeaderDarkEdgeColor() : nbOffice11HighlightBorderColor;
}
TColor TvlOffice11LookAndFeelPainter::TabBorderColor() const { return HeaderDarkEdgeColor(); }
TColor TvlOffice11LookAndFeelPainter::TabBorderDarkColor() const { return clBtnText; }
TColor TvlOffice11LookAndFeelPainter::BorderHighlightColor() const { return nbOffice11HighlightBorderColor; }

TvlLookAndFeelStyle TvlOffice11LookAndFeelPainter::LookAndFeelStyle() const { return lfsOffice11; }
Boolean TvlOffice11LookAndFeelPainter::NeedRedrawOnResize() const { return true; }
TColor TvlOffice11LookAndFeelPainter::DefaultHeaderHighlightTextColor() const { return clHighlightText; }
TColor TvlOffice11LookAndFeelPainter::DefaultDateNavigatorHeaderColor() const { return nbOffice11FaceColor; }
TColor TvlOffice11LookAndFeelPainter::DefaultFooterColor() const { return nbOffice11FaceColor; }
TColor TvlOffice11LookAndFeelPainter::DefaultTimeGridMinorScaleColor() const { return nbOffice11FaceColor; }
TColor TvlOffice11LookAndFeelPainter::DefaultDateNavigatorSelectionColor() const {
  return nbOffice11DateSelectionColor;
}
TColor TvlOffice11LookAndFeelPainter::DefaultDateNavigatorSelectionTextColor() const { return clWindowText; }
TColor TvlOffice11LookAndFeelPainter::DefaultFilterBoxColor() const { return nbOffice11FilterBoxColor; }
TColor TvlOffice11LookAndFeelPainter::DefaultFilterBoxTextColor() const { return nbOffice11FilterBoxTextColor; }
TColor TvlOffice11LookAndFeelPainter::DefaultFooterTextColor() const { return DefaultHeaderTextColor(); }
TColor TvlOffice11LookAndFeelPainter::DefaultGroupColor() const { return nbOffice11GroupColor; }
TColor TvlOffice11LookAndFeelPainter::DefaultGroupByBoxColor() const { return nbOffice11GroupByBoxColor; }
TColor TvlOffice11LookAndFeelPainter::DefaultGroupByBoxTextColor() const { return nbOffice11GradientLightColor; }
TColor TvlOffice11LookAndFeelPainter::DefaultHeaderColor() const { return HeaderTopColor(); }
TColor TvlOffice11LookAndFeelPainter::DefaultHeaderBackgroundColor() const { return DefaultGroupByBoxColor(); }
TColor TvlOffice11LookAndFeelPainter::DefaultSchedulerBorderColor() const { return nbOffice11SchedulerBorderColor; }
TColor TvlOffice11LookAndFeelPainter::DefaultSchedulerControlColor() const {
  return nbOffice11SchedulerControlColor;
}
TColor TvlOffice11LookAndFeelPainter::DefaultTabColor() const { return nbOffice11LightFaceColor; }
TColor TvlOffice11LookAndFeelPainter::DefaultTabsBackgroundColor() const { return DefaultTabColor(); }
TColor TvlOffice11LookAndFeelPainter::DefaultTimeGridSelectionBarColor() const {
  return DefaultSchedulerControlColor();
}

TColor TvlOffice11LookAndFeelPainter::ButtonColor(TvlButtonState AState) const {
  switch (AState) {
    case vlbsHot: return nbOffice11HotButtonColor;
    case vlbsPressed: return nbOffice11PressedButtonColor;
    case vlbsDisabled: return clBtnFace;
    default: return nbOffice11FaceColor;
  }
}

TColor TvlOffice11LookAndFeelPainter::ButtonSymbolColor(TvlButtonState AState, TColor) const {
  if (AState == vlbsDisabled) return nbOffice11DisabledTextColor;
  if (AState == vlbsPressed && !nbUsesOffice11SchemeColors()) return clHighlightText;
  return nbOffice11TextColor;
}

TColor TvlOffice11LookAndFeelPainter::CheckButtonColor(TvlButtonState AState) const {
  if (AState == vlbsHot || AState == vlbsPressed || AState == vlbsDisabled) return ButtonColor(AState);
  return TvlCustomLookAndFeelPainter::CheckButtonColor(AState);
}

Integer TvlOffice11LookAndFeelPainter::ExpandButtonSize() const { return 11; }
Integer TvlOffice11LookAndFeelPainter::SmallExpandButtonSize() const { return 11; }
Boolean TvlOffice11LookAndFeelPainter::DrawExpandButtonFirst() const { return false; }
TvlBorders TvlOffice11LookAndFeelPainter::HeaderBorders(TvlNeighbors) const { return vlBordersAll; }
Integer TvlOffice11LookAndFeelPainter::HeaderBorderSize() const { return 1; }
Boolean TvlOffice11LookAndFeelPainter::IsHeaderHotTrack() const { return true; }
TColor TvlOffice11LookAndFeelPainter::FooterSeparatorColor() const { return HeaderDarkEdgeColor(); }
TColor TvlOffice11LookAndFeelPainter::GetSplitterInnerColor(Boolean) const { return HeaderLightEdgeColor(); }
TColor TvlOffice11LookAndFeelPainter::GetSplitterOuterColor(Boolean AHighlighted) const {
  return AHighlighted ? nbOffice11HighlightBorderColor : nbOffice11DarkEdgeColor;
}
TSize TvlOffice11LookAndFeelPainter::GetSplitterSize(Boolean AHorizontal) const {
  return TvlCustomLookAndFeelPainter::GetSplitterSize(AHorizontal);
}

// --- Borders and buttons --------------------------------------------------------------------------------

void TvlOffice11LookAndFeelPainter::DrawBorder(TvlCanvas* ACanvas, TRect R) const {
  ACanvas->FrameRect(R, nbOffice11Color57);
}

void TvlOffice11LookAndFeelPainter::DrawSeparator(TvlCanvas* ACanvas, const TRect& R, Boolean AIsVertical) const {
  TRect strip = CenteredStripRect(R, 2, AIsVertical);
  --strip.Right;
  --strip.Bottom;
  ACanvas->FillRect(strip, nbOffice11DarkEdgeColor);
  ACanvas->FillRect(vlOffsetRect(strip, 1, 1), nbOffice11LightEdgeColor);
}

void TvlOffice11LookAndFeelPainter::DrawButtonBorder(TvlCanvas* ACanvas, TRect R, TvlButtonState AState) const {
  switch (AState) {
    case vlbsDefault: inherited::DrawButtonBorder(ACanvas, R, AState); break;
    case vlbsNormal: ACanvas->FrameRect(R, clBtnText); break;
    case vlbsDisabled: ACanvas->FrameRect(R, nbOffice11DisabledTextColor); break;
    default: ACanvas->FrameRect(R, nbOffice11HighlightBorderColor); break;
  }
}

void TvlOffice11LookAndFeelPainter::DrawExpandButton(TvlCanvas* ACanvas, const TRect& R, Boolean AExpanded,
                                                     TColor AColor) const {
  TBitmap* bitmap = nbOffice11ExpandButtonBitmap(AExpanded);
  if (!bitmap) {
    // Without the images (colours not acquired): the ultra-flat button.
    inherited::DrawExpandButton(ACanvas, R, AExpanded, AColor);
    return;
  }
  // The rounded corners blend with what lies under them.
  win::HDC dc = ACanvas->Handle();
  const TColor topLeft = TColor(win::GetPixel(dc, R.Left, R.Top));
  const TColor bottomRight = TColor(win::GetPixel(dc, R.Right - 1, R.Bottom - 1));
  TCanvas* image = bitmap->Canvas();
  const Integer w = bitmap->Width() - 1, h = bitmap->Height() - 1;
  image->SetPixels(0, 0, nbBlendColors(nbOffice11ExpandButtonLightColor, topLeft, 25));
  const TColor dark = nbBlendColors(nbOffice11ExpandButtonDarkColor, bottomRight, 25);
  image->SetPixels(w, 0, dark);
  image->SetPixels(0, h, dark);
  image->SetPixels(w, h, dark);
  ACanvas->Draw(R.Left, R.Top, bitmap);
}

void TvlOffice11LookAndFeelPainter::DrawSmallExpandButton(TvlCanvas* ACanvas, TRect R, Boolean AExpanded,
                                                          TColor, TColor AColor) const {
  DrawExpandButton(ACanvas, R, AExpanded, AColor);
}

// --- Headers and cells ----------------------------------------------------------------------------------

void TvlOffice11LookAndFeelPainter::DrawContent(TvlCanvas* ACanvas, const TRect& ABounds,
                                                const TRect& ATextAreaBounds, TvlButtonState AState,
                                                TAlignment AAlignmentHorz, TvlAlignmentVert AAlignmentVert,
                                                Boolean AMultiLine, Boolean AShowEndEllipsis, const String& AText,
                                                TFont* AFont, TColor ATextColor, TColor ABkColor,
                                                const TvlDrawBackgroundEvent& AOnDrawBackground,
                                                Boolean AIsFooter) const {
  if (!AOnDrawBackground || !AOnDrawBackground(ACanvas, ABounds)) {
    const TColor top = AState == vlbsHot ? nbOffice11GradientLightColor : HeaderTopColor();
    const TColor bottom = HeaderBottomColor();
    if (AIsFooter) {
      ACanvas->FillRect(ABounds, top);
    } else {
      // The top colour, and a gradient to the bottom colour over the last
      // four rows.
      TRect body = ABounds;
      body.Bottom -= 3;
      ACanvas->FillRect(body, top);
      TRect gradient = ABounds;
      gradient.Top = std::max(ABounds.Top, ABounds.Bottom - 4);
      nbFillGradientRect(ACanvas->Handle(), gradient, top, false, bottom);
    }
  }
  if (!AText.empty()) {
    ACanvas->Brush()->SetStyle(bsClear);
    if (AFont) ACanvas->SetFont(AFont);
    if (ATextColor != clNone) ACanvas->Font()->SetColor(ATextColor);
    ACanvas->DrawTexT(AText, ATextAreaBounds, AAlignmentHorz, AAlignmentVert, AMultiLine, AShowEndEllipsis);
    ACanvas->Brush()->SetStyle(bsSolid);
  }
  if (AState == vlbsHot) {
    TRect underline = Rect(ABounds.Left - 1, ABounds.Bottom - 2, ABounds.Right, ABounds.Bottom + 1);
    nbFillGradientRect(ACanvas->Handle(), underline, nbOffice11HotButtonColor, false, nbOffice11HotButtonColor2);
  }
}

void TvlOffice11LookAndFeelPainter::DrawHeader(TvlCanvas* ACanvas, const TRect& ABounds,
                                               const TRect& ATextAreaBounds, TvlNeighbors ANeighbors,
                                               TvlBorders ABorders, TvlButtonState AState,
                                               TAlignment AAlignmentHorz, TvlAlignmentVert AAlignmentVert,
                                               Boolean AMultiLine, Boolean AShowEndEllipsis, const String& AText,
                                               TFont* AFont, TColor ATextColor, TColor ABkColor,
                                               const TvlDrawBackgroundEvent&, Boolean AIsLast, Boolean) const {
  // The background handler of headers is never called here.
  inherited::DrawHeader(ACanvas, ABounds, ATextAreaBounds, ANeighbors, ABorders, AState, AAlignmentHorz,
                        AAlignmentVert, AMultiLine, AShowEndEllipsis, AText, AFont, ATextColor, ABkColor, {}, AIsLast,
                        false);
}

void TvlOffice11LookAndFeelPainter::DrawHeaderBorder(TvlCanvas* ACanvas, const TRect& R, TvlNeighbors ANeighbors,
                                                     TvlBorders ABorders) const {
  const TColor top = HeaderTopColor(), bottom = HeaderBottomColor();
  const TColor dark = HeaderDarkEdgeColor(), light = HeaderLightEdgeColor();
  auto column = [ACanvas](Integer X, Integer ATop, Integer ABottom, TColor AColor) {
    if (ABottom >= ATop) ACanvas->FillRect(Rect(X, ATop, X + 1, ABottom + 1), AColor);
  };
  auto pixel = [ACanvas](Integer X, Integer Y, TColor AColor) { ACanvas->SetPixel(X, Y, AColor); };
  if (ABorders.Contains(bTop)) ACanvas->FillRect(Rect(R.Left, R.Top, R.Right, R.Top + 1), top);
  if (ABorders.Contains(bBottom)) ACanvas->FillRect(Rect(R.Left, R.Bottom - 1, R.Right, R.Bottom), dark);
  if (ABorders.Contains(bLeft)) {
    pixel(R.Left, R.Top + 1, top);
    if (ANeighbors.Contains(nLeft)) {
      pixel(R.Left, R.Top + 2, top);
      pixel(R.Left, R.Bottom - 3, nbBlendColors(top, bottom, 25));
      pixel(R.Left, R.Bottom - 2, bottom);
      column(R.Left, R.Top + 2, R.Bottom - 4, light);
    } else {
      pixel(R.Left, R.Bottom - 2, bottom);
      column(R.Left, R.Top + 1, R.Bottom - 3, light);
    }
  }
  if (ABorders.Contains(bRight)) {
    const Integer x = R.Right - 1;
    if (ANeighbors.Contains(nRight)) {
      pixel(x, R.Top + 1, top);
      pixel(x, R.Top + 2, top);
      pixel(x, R.Bottom - 3, nbBlendColors(top, bottom, 25));
      pixel(x, R.Bottom - 2, bottom);
      column(x, R.Top + 2, R.Bottom - 4, dark);
    } else {
      pixel(x, R.Top, nbBlendColors(top, dark, 50));
      pixel(x, R.Bottom - 2, nbBlendColors(bottom, dark, 50));
      column(x, R.Top + 1, R.Bottom - 3, dark);
    }
  }
}

void TvlOffice11LookAndFeelPainter::DrawHeaderControlSection(
    TvlCanvas* ACanvas, const TRect& ABounds, const TRect& ATextAreaBounds, TvlNeighbors ANeighbors,
    TvlBorders ABorders, TvlButtonState AState, TAlignment AAlignmentHorz, TvlAlignmentVert AAlignmentVert,
    Boolean AMultiLine, Boolean AShowEndEllipsis, const String& AText, TFont* AFont, TColor ATextColor,
    TColor ABkColor) const {
  DrawHeader(ACanvas, ABounds, ATextAreaBounds, ANeighbors, ABorders, AState, AAlignmentHorz, AAlignmentVert,
             AMultiLine, AShowEndEllipsis, AText, AFont, ATextColor, ABkColor);
  if (AState == vlbsPressed) DrawHeaderPressed(ACanvas, ABounds);
}

void TvlOffice11LookAndFeelPainter::DrawSortingMark(TvlCanvas* ACanvas, const TRect& R,
                                                    Boolean AAscendingSorting) const {
  vl_painters::DrawSortingMarkOutline(ACanvas, R, SortingMarkSize(), AAscendingSorting, HeaderLightEdgeColor(),
                                      HeaderDarkEdgeColor());
}

// --- Borrowed parts, size grip, panels ----------------------------------------------------------------------

void TvlOffice11LookAndFeelPainter::DrawScrollBarPart(TvlCanvas* ACanvas, Boolean AHorizontal, TRect R,
                                                      TvlScrollBarPart APart, TvlButtonState AState) const {
  if (ScrollBarThemed())
    ClassOf<TvlWinXPLookAndFeelPainter>()->DrawScrollBarPart(ACanvas, AHorizontal, R, APart, AState);
  else
    ClassOf<TvlStandardLookAndFeelPainter>()->DrawScrollBarPart(ACanvas, AHorizontal, R, APart, AState);
}

void TvlOffice11LookAndFeelPainter::DrawSizeGrip(TvlCanvas* ACanvas, const TRect& ARect,
                                                 TColor ABackgroundColor) const {
  ACanvas->FillRect(ARect, ABackgroundColor);
  nbDrawOffice11SizeGripDots(ACanvas->Handle(), ARect);
}

void TvlOffice11LookAndFeelPainter::DrawSchedulerBorder(TvlCanvas* ACanvas, TRect R) const {
  ACanvas->FrameRect(R, DefaultSchedulerBorderColor());
}

void TvlOffice11LookAndFeelPainter::DrawSchedulerNavigatorButton(TvlCanvas* ACanvas, TRect R,
                                                                 TvlButtonState AState) const {
  ClassOf<TvlWinXPLookAndFeelPainter>()->DrawSchedulerNavigatorButton(ACanvas, R, AState);
}

void TvlOffice11LookAndFeelPainter::DrawGroupBoxFrame(TvlCanvas* ACanvas, TRect R, Boolean AEnabled,
                                                      TvlGroupBoxCaptionPosition ACaptionPosition,
                                                      TvlBorders ABorders) const {
  if (ButtonThemed())
    ClassOf<TvlWinXPLookAndFeelPainter>()->DrawGroupBoxFrame(ACanvas, R, AEnabled, ACaptionPosition, ABorders);
  else
    inherited::DrawGroupBoxFrame(ACanvas, R, AEnabled, ACaptionPosition, ABorders);
}

TColor TvlOffice11LookAndFeelPainter::GroupBoxTextColor(Boolean AEnabled,
                                                        TvlGroupBoxCaptionPosition ACaptionPosition) const {
  if (ButtonThemed()) return ClassOf<TvlWinXPLookAndFeelPainter>()->GroupBoxTextColor(AEnabled, ACaptionPosition);
  return TvlCustomLookAndFeelPainter::GroupBoxTextColor(AEnabled, ACaptionPosition);
}

void TvlOffice11LookAndFeelPainter::DrawPanelBackground(TvlCanvas* ACanvas, TWinControl* AControl, TRect ABounds,
                                                        TColor AColorFrom, TColor AColorTo) const {
  if (AColorFrom == clDefault)
    vlDrawTransparentBackground(AControl, ACanvas, ABounds);
  else if (AColorTo == clDefault)
    ACanvas->FillRect(ABounds, AColorFrom);
  else
    nbFillGradientRect(ACanvas->Handle(), ABounds, AColorFrom, false, AColorTo);
}

void TvlOffice11LookAndFeelPainter::DrawLayoutControlBackground(TvlCanvas* ACanvas, const TRect& R) const {
  nbFillGradientRect(ACanvas->Handle(), R, nbOffice11GradientLightColor, false, nbOffice11GradientDarkColor);
}

void TvlOffice11LookAndFeelPainter::DrawDateNavigatorDateHeader(TvlCanvas* ACanvas, TRect& R) const {
  ACanvas->FillRect(R, DefaultDateNavigatorHeaderColor());
}
