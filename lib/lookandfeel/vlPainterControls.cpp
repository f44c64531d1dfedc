// The base painter's scheduler and month headers, clock, editor buttons,
// date navigator, navigator, progress bar, group box, panel, track bar,
// splitter, layout control, print preview, calculator keys and
// customization form.
#include <cmath>

#include "lib/foundation/vlGraphicsUtils.h"
#include "lib/lookandfeel/vlLookAndFeelPainters.h"
#include "lib/lookandfeel/vlPainterHelpers.h"
#include "platform/rtl/Finally.h"
#include "platform/vcl/Graphics.h"
#include "platform/vcl/ImgList.h"
#include "platform/win/Gdi.h"

using namespace vl_painters;

namespace vl_painters {

void DrawMonthHeaderArrows(TvlCanvas* ACanvas, const TRect& ABounds, TvlHeaderArrows AArrows, Integer ASideWidth,
                           Integer ABorderSize, TColor AColor) {
  if (AArrows == haNone) return;
  TRect r = ABounds;
  r.Top += ABorderSize + 1;
  r.Bottom -= 1;
  Integer h = (r.Bottom - r.Top) / 2;
  if (h % 2 == 0) ++h;
  const Integer top = (r.Top + r.Bottom - (h + 1)) / 2;
  const Integer bottom = top + h;
  const Integer mid = (top + bottom) / 2;
  if (AArrows == haLeft || AArrows == haBoth) {
    const Integer x = ABounds.Left + ASideWidth - 1;
    FillTriangle(ACanvas, TPoint{x, top}, TPoint{x, bottom}, TPoint{x - (h / 2 + 1), mid}, AColor);
  }
  if (AArrows == haRight || AArrows == haBoth) {
    const Integer x = ABounds.Right - ASideWidth;
    FillTriangle(ACanvas, TPoint{x, top}, TPoint{x, bottom}, TPoint{x + h / 2 + 1, mid}, AColor);
  }
}

}  // namespace vl_painters

// --- Scheduler and month header ------------------------------------------------------------

void TvlCustomLookAndFeelPainter::CalculateSchedulerNavigationButtonRects(Boolean AIsNextButton, Boolean ACollapsed,
                                                                          TSize APrevButtonTextSize,
                                                                          TSize ANextButtonTextSize, TRect& ABounds,
                                                                          TRect& ATextRect,
                                                                          TRect& AArrowRect) const {
  TRect borders{};
  TSize arrow{};
  Boolean hasTextArea = false;
  SchedulerNavigationButtonSizes(AIsNextButton, borders, arrow, hasTextArea);
  const Integer a = 3 * arrow.cy;
  if (ACollapsed || !hasTextArea) {
    ATextRect = TRect{};
    ABounds.Top = (ABounds.Top + ABounds.Bottom - borders.Top - borders.Bottom - a) / 2;
    ABounds.Bottom = ABounds.Top + a + borders.Top + borders.Bottom;
    AArrowRect = vlCenterExtentInRect(ABounds, arrow.cx, arrow.cy);
    return;
  }
  const TRect arrowArea{ABounds.Left + borders.Left, ABounds.Top + borders.Top, ABounds.Right - borders.Right,
                        ABounds.Top + borders.Top + a};
  AArrowRect = vlCenterExtentInRect(arrowArea, arrow.cx, arrow.cy);
  ATextRect = TRect{arrowArea.Left, ABounds.Top + borders.Top + a + 5, arrowArea.Right,
                    ABounds.Bottom - borders.Bottom - 2 * arrow.cy};
  const Integer d = std::max(APrevButtonTextSize.cx, ANextButtonTextSize.cx) - (ATextRect.Bottom - ATextRect.Top);
  if (d >= 1) {
    AArrowRect = vlOffsetRect(AArrowRect, 0, -d);
    ATextRect = vlInflateRectSides(ATextRect, 0, d, 0, d);
    ABounds = vlInflateRectSides(ABounds, 0, d, 0, d);
  }
}

void TvlCustomLookAndFeelPainter::DrawMonthHeader(TvlCanvas* ACanvas, const TRect& ABounds, const String& AText,
                                                  TvlNeighbors ANeighbors, const TvlViewParams& AViewParams,
                                                  TvlHeaderArrows AArrows, Integer ASideWidth,
                                                  const TvlDrawBackgroundEvent& AOnDrawBackground) const {
  DrawHeader(ACanvas, ABounds, ABounds, ANeighbors, HeaderBorders(ANeighbors), vlbsNormal, taCenter, vaCenter, false,
             false, AText, AViewParams.Font, AViewParams.TextColor, AViewParams.Color, AOnDrawBackground);
  DrawMonthHeaderArrows(ACanvas, ABounds, AArrows, ASideWidth, BorderSize());
}

void TvlCustomLookAndFeelPainter::DrawSchedulerBorder(TvlCanvas* ACanvas, TRect R) const { DrawBorder(ACanvas, R); }

void TvlCustomLookAndFeelPainter::DrawSchedulerEventProgress(TvlCanvas* ACanvas, const TRect& ABounds,
                                                             const TRect& AProgress, const TvlViewParams& AViewParams,
                                                             Boolean ATransparent) const {
  const TColor grey = Rgb(128, 128, 128);
  if (ATransparent)
    Frame(ACanvas, ABounds, grey);
  else
    ACanvas->FillRect(ABounds, AViewParams, vlBordersAll, grey);
  Fill(ACanvas, AProgress, Rgb(0, 0, 128));
}

void TvlCustomLookAndFeelPainter::DrawSchedulerNavigationButton(TvlCanvas* ACanvas, const TRect& ARect,
                                                                Boolean AIsNextButton, TvlButtonState AState,
                                                                const String& AText, const TRect& ATextRect,
                                                                const TRect& AArrowRect) const {
  const TColor textColor = SchedulerNavigationButtonTextColor(AIsNextButton, AState, ACanvas->Font()->Color());
  if (vlIsRectEmpty(ATextRect) || textColor == clNone) {
    DrawSchedulerNavigationButtonContent(ACanvas, ARect, AArrowRect, AIsNextButton, AState);
    return;
  }
  const Integer w = ARect.Right - ARect.Left, h = ARect.Bottom - ARect.Top;
  if (w <= 0 || h <= 0) return;
  TBitmap* bitmap = vlCreateBitmapOfSize(w, h, pf32bit);
  TvlCanvas* canvas = New<TvlCanvas>(bitmap->Canvas());
  Finally freeAll([&] {
    Free(canvas);
    Free(bitmap);
  });
  bitmap->Canvas()->CopyRect(TRect{0, 0, w, h}, ACanvas->Canvas(), ARect);
  DrawSchedulerNavigationButtonContent(canvas, TRect{0, 0, w, h}, vlOffsetRect(AArrowRect, -ARect.Left, -ARect.Top),
                                       AIsNextButton, AState);
  // Turned clockwise, the text rectangle's columns become rows from the top
  // and its rows columns counted from the right.
  canvas->RotateBitmap(bitmap, raMinus90);
  const TRect t = vlOffsetRect(ATextRect, -ARect.Left, -ARect.Top);
  const TRect turned{h - t.Bottom, t.Left, h - t.Top, t.Right};
  canvas->SetFont(ACanvas->Font());
  canvas->Font()->SetColor(textColor);
  canvas->Brush()->SetStyle(bsClear);
  canvas->DrawTexT(AText, turned, vlAlignHCenter | vlAlignVCenter | vlSingleLine);
  canvas->Brush()->SetStyle(bsSolid);
  canvas->RotateBitmap(bitmap, raPlus90);
  ACanvas->Draw(ARect.Left, ARect.Top, bitmap);
}

void TvlCustomLookAndFeelPainter::DrawSchedulerNavigationButtonContent(TvlCanvas* ACanvas, const TRect& ARect,
                                                                       const TRect& AArrowRect, Boolean AIsNextButton,
                                                                       TvlButtonState AState) const {
  Fill(ACanvas, ARect, clBtnFace);
  const TvlBorders sides = AIsNextButton ? TvlBorders{bLeft, bTop, bBottom} : TvlBorders{bTop, bRight, bBottom};
  Frame(ACanvas, ARect, clBtnShadow, sides);
  const TRect inner = vlInflateRectSides(ARect, sides.Contains(bLeft) ? -1 : 0, -1, sides.Contains(bRight) ? -1 : 0, -1);
  if (AState == vlbsPressed)
    Ring(ACanvas, inner, clBtnShadow, clBtnHighlight, sides);
  else
    Ring(ACanvas, inner, clBtnHighlight, clBtnFace, sides);
  DrawSchedulerNavigationButtonArrow(ACanvas, AArrowRect, AIsNextButton, ButtonSymbolColor(AState, clDefault));
}

void TvlCustomLookAndFeelPainter::DrawSchedulerNavigationButtonArrow(TvlCanvas* ACanvas, const TRect& ARect,
                                                                     Boolean AIsNextButton, TColor AColor) const {
  const Integer n = (ARect.Bottom - ARect.Top + 1) / 2;
  Integer x = AIsNextButton ? ARect.Left : ARect.Right - 2;
  Integer top = ARect.Top, bottom = ARect.Bottom - 1;
  for (Integer i = 0; i < n; ++i) {
    Fill(ACanvas, TRect{x, top, x + 2, top + 1}, AColor);
    Fill(ACanvas, TRect{x, bottom, x + 2, bottom + 1}, AColor);
    ++top;
    --bottom;
    x += AIsNextButton ? 1 : -1;
  }
  const Integer column = AIsNextButton ? ARect.Right - 1 : ARect.Left;
  Fill(ACanvas, TRect{column, ARect.Top, column + 1, ARect.Bottom}, AColor);
}

void TvlCustomLookAndFeelPainter::DrawSchedulerNavigatorButton(TvlCanvas* ACanvas, TRect R,
                                                               TvlButtonState AState) const {
  DrawButton(ACanvas, R, String(), AState, true, clDefault, clDefault);
}

void TvlCustomLookAndFeelPainter::DrawSchedulerSplitterBorder(TvlCanvas* ACanvas, TRect R,
                                                              const TvlViewParams& AViewParams,
                                                              Boolean AIsHorizontal) const {}

TRect TvlCustomLookAndFeelPainter::SchedulerEventProgressOffsets() const { return TRect{2, 2, 2, 2}; }

TColor TvlCustomLookAndFeelPainter::SchedulerNavigationButtonTextColor(Boolean AIsNextButton, TvlButtonState AState,
                                                                       TColor ADefaultColor) const {
  return ButtonSymbolColor(AState, ADefaultColor);
}

void TvlCustomLookAndFeelPainter::SchedulerNavigationButtonSizes(Boolean AIsNextButton, TRect& ABorders,
                                                                 TSize& AArrowSize, Boolean& AHasTextArea) const {
  ABorders = AIsNextButton ? TRect{2, 6, 0, 6} : TRect{0, 6, 2, 6};
  AArrowSize = TSize{7, 7};
  AHasTextArea = true;
}

// --- Chart and clock ---------------------------------------------------------------------------

Integer TvlCustomLookAndFeelPainter::ChartToolBoxDataLevelInfoBorderSize() const { return 1; }

void TvlCustomLookAndFeelPainter::DrawClock(TvlCanvas* ACanvas, const TRect& ARect, TDateTime ADateTime,
                                            TColor ABackgroundColor) const {
  const Integer cx = (ARect.Left + ARect.Right) / 2, cy = (ARect.Top + ARect.Bottom) / 2;
  const double rx = (ARect.Right - ARect.Left) / 2.0 - 2, ry = (ARect.Bottom - ARect.Top) / 2.0 - 2;
  auto at = [&](double AAngle, double AScaleX, double AScaleY) {
    return TPoint{cx + static_cast<Integer>(std::lround(AScaleX * std::cos(AAngle))),
                  cy + static_cast<Integer>(std::lround(AScaleY * std::sin(AAngle)))};
  };
  // The dots stay excluded while the background and the hands are drawn;
  // the caller's clip region comes back afterwards.
  ACanvas->SaveClipRegion();
  Finally restore([&] { ACanvas->RestoreClipRegion(); });
  for (Integer i = 0; i < 60; i += 5) {
    const TPoint p = at(i * 2 * M_PI / 60, rx, ry);
    ACanvas->SetPixel(p.X, p.Y, Rgb(0, 128, 128));
    ACanvas->Pen()->SetStyle(psSolid);
    ACanvas->Pen()->SetWidth(1);
    ACanvas->Pen()->SetColor(Rgb(0, 255, 255));
    ACanvas->Polyline({TPoint{p.X - 1, p.Y + 1}, TPoint{p.X - 1, p.Y - 1}, TPoint{p.X, p.Y - 1}});
    ACanvas->Pen()->SetColor(clBtnText);
    ACanvas->Polyline({TPoint{p.X, p.Y + 1}, TPoint{p.X + 1, p.Y + 1}, TPoint{p.X + 1, p.Y - 1}});
    ACanvas->ExcludeClipRect(TRect{p.X - 1, p.Y - 1, p.X + 2, p.Y + 2});
  }
  Fill(ACanvas, ARect, ABackgroundColor);
  const double day = ADateTime - std::floor(ADateTime);
  const Integer seconds = static_cast<Integer>(std::lround(day * 86400)) % 86400;
  auto hand = [&](double AAngle, double L, double T, double W) {
    const TPoint tip = at(AAngle, rx * L, ry * L);
    const TPoint side1 = at(AAngle + M_PI / 2, W / 2, W / 2);
    const TPoint tail = at(AAngle + M_PI, rx * T, ry * T);
    const TPoint side2 = at(AAngle + 3 * M_PI / 2, W / 2, W / 2);
    ACanvas->Brush()->SetStyle(bsSolid);
    ACanvas->Brush()->SetColor(Rgb(0, 128, 128));
    ACanvas->Pen()->SetColor(Rgb(0, 128, 128));
    ACanvas->Polygon({tip, side1, tail, side2});
  };
  hand(((seconds % 43200) - 10800) * 2 * M_PI / 43200, 0.75, 0.15, 9);
  hand(((seconds % 3600) - 900) * 2 * M_PI / 3600, 0.85, 0.2, 7);
  const TPoint second = at(((seconds % 60) - 15) * 2 * M_PI / 60, rx * 0.9, ry * 0.9);
  ACanvas->Pen()->SetColor(Rgb(255, 0, 0));
  ACanvas->MoveTo(cx, cy);
  ACanvas->LineTo(second.X, second.Y);
}

// --- Editor buttons, date navigator and navigator ----------------------------------------------------

void TvlCustomLookAndFeelPainter::DrawEditorButton(TvlCanvas* ACanvas, const TRect& ARect,
                                                   TvlEditBtnKind AButtonKind, TvlButtonState AState) const {}
Integer TvlCustomLookAndFeelPainter::EditButtonTextOffset() const { return 0; }
TSize TvlCustomLookAndFeelPainter::EditButtonSize() const { return TSize{0, 0}; }
TColor TvlCustomLookAndFeelPainter::EditButtonTextColor() const { return clDefault; }
TColor TvlCustomLookAndFeelPainter::GetContainerBorderColor(Boolean AIsHighlightBorder) const { return clDefault; }

void TvlCustomLookAndFeelPainter::DrawDateNavigatorDateHeader(TvlCanvas* ACanvas, TRect& R) const {
  Fill(ACanvas, R, DefaultDateNavigatorHeaderColor());
  ACanvas->DrawEdge(R, false, false);
  R = Deflated(R, 1);
}

void TvlCustomLookAndFeelPainter::DrawNavigatorGlyph(TvlCanvas* ACanvas, TCustomImageList* AImageList,
                                                     TImageIndex AImageIndex, Integer AButtonIndex,
                                                     const TRect& AGlyphRect, Boolean AEnabled,
                                                     Boolean AUserGlyphs) const {
  if (AImageList) ACanvas->DrawImage(AImageList, AGlyphRect.Left, AGlyphRect.Top, AImageIndex, AEnabled);
}

TSize TvlCustomLookAndFeelPainter::NavigatorGlyphSize() const { return TSize{0, 0}; }

// --- Progress bar ---------------------------------------------------------------------------------------

void TvlCustomLookAndFeelPainter::DrawProgressBarBorder(TvlCanvas* ACanvas, TRect ARect, Boolean AVertical) const {}
void TvlCustomLookAndFeelPainter::DrawProgressBarChunk(TvlCanvas* ACanvas, TRect ARect, Boolean AVertical) const {}

void TvlCustomLookAndFeelPainter::DrawProgressBarText(TvlCanvas* ACanvas, Boolean AVertical, Boolean ASolid,
                                                      const String& AText, const TRect& ATextRect,
                                                      const TRect& AProgressBarRect, const TRect& AProgressChunkRect,
                                                      TColor ATextColor) const {
  ACanvas->SaveState();
  Finally restore([&] { ACanvas->RestoreState(); });
  if (AVertical) ACanvas->SetFontAngle(270);
  const TPoint origin{AVertical ? ATextRect.Right : ATextRect.Left, ATextRect.Top};
  auto output = [&](TColor AColor) {
    ACanvas->Font()->SetColor(AColor);
    ACanvas->Brush()->SetStyle(bsClear);
    ACanvas->Canvas()->TextOut(origin.X, origin.Y, AText);
  };
  const TColor textColor = ATextColor == clDefault || !ASolid ? ProgressBarTextColor() : ATextColor;
  if (ASolid) {
    output(textColor);
    return;
  }
  if (ProgressBarTextColorEx(true) == clDefault) {
    // White text on black, XORed onto the bar: every pixel under the text
    // turns to its inverse, over the filled part and the empty part alike.
    const Integer w = ATextRect.Right - ATextRect.Left, h = ATextRect.Bottom - ATextRect.Top;
    if (w <= 0 || h <= 0) return;
    TBitmap* mask = vlCreateBitmapOfSize(w, h, pf32bit);
    Finally freeMask([&] { Free(mask); });
    TCanvas* mc = mask->Canvas();
    mc->Brush()->SetColor(clBlack);
    mc->FillRect(TRect{0, 0, w, h});
    mc->SetFont(ACanvas->Font());
    mc->Font()->SetColor(clWhite);
    mc->Brush()->SetStyle(bsClear);
    mc->TextOut(origin.X - ATextRect.Left, origin.Y - ATextRect.Top, AText);
    win::BitBlt(ACanvas->Handle(), ATextRect.Left, ATextRect.Top, w, h, mc->Handle(), 0, 0, win::SRCINVERT);
    return;
  }
  TRect overlap{};
  if (!win::IntersectRect(&overlap, &ATextRect, &AProgressChunkRect)) {
    output(ProgressBarTextColorEx(false));
    return;
  }
  const Integer w = overlap.Right - overlap.Left, h = overlap.Bottom - overlap.Top;
  TBitmap* saved = vlCreateBitmapOfSize(w, h, pf32bit);
  Finally freeSaved([&] { Free(saved); });
  saved->Canvas()->CopyRect(TRect{0, 0, w, h}, ACanvas->Canvas(), overlap);
  output(ProgressBarTextColorEx(false));
  ACanvas->Canvas()->CopyRect(overlap, saved->Canvas(), TRect{0, 0, w, h});
  ACanvas->SaveClipRegion();
  Finally restoreClip([&] { ACanvas->RestoreClipRegion(); });
  ACanvas->IntersectClipRect(overlap);
  output(ProgressBarTextColorEx(true));
}

TRect TvlCustomLookAndFeelPainter::ProgressBarBorderSize(Boolean AVertical) const { return TRect{0, 0, 0, 0}; }
TColor TvlCustomLookAndFeelPainter::ProgressBarTextColor() const { return ProgressBarTextColorEx(false); }
TColor TvlCustomLookAndFeelPainter::ProgressBarTextColorEx(Boolean AIsFilledArea) const {
  return AIsFilledArea ? clDefault : clWindowText;
}

// --- Group box and panel ------------------------------------------------------------------------------------

void TvlCustomLookAndFeelPainter::DrawGroupBoxBackground(TvlCanvas* ACanvas, TRect ABounds, TRect ARect) const {}
void TvlCustomLookAndFeelPainter::DrawGroupBoxCaption(TvlCanvas* ACanvas, TRect ACaptionRect,
                                                      TvlGroupBoxCaptionPosition ACaptionPosition) const {}
void TvlCustomLookAndFeelPainter::DrawGroupBoxContent(TvlCanvas* ACanvas, TRect ABorderRect,
                                                      TvlGroupBoxCaptionPosition ACaptionPosition,
                                                      TvlBorders ABorders) const {}
void TvlCustomLookAndFeelPainter::DrawGroupBoxFrame(TvlCanvas* ACanvas, TRect R, Boolean AEnabled,
                                                    TvlGroupBoxCaptionPosition ACaptionPosition,
                                                    TvlBorders ABorders) const {}
TRect TvlCustomLookAndFeelPainter::GroupBoxBorderSize(Boolean ACaption,
                                                      TvlGroupBoxCaptionPosition ACaptionPosition) const {
  return TRect{0, 0, 0, 0};
}
TColor TvlCustomLookAndFeelPainter::GroupBoxTextColor(Boolean AEnabled,
                                                      TvlGroupBoxCaptionPosition ACaptionPosition) const {
  return AEnabled ? clWindowText : clBtnShadow;
}
Boolean TvlCustomLookAndFeelPainter::IsGroupBoxTransparent(Boolean AIsCaption,
                                                           TvlGroupBoxCaptionPosition ACaptionPosition) const {
  return false;
}

void TvlCustomLookAndFeelPainter::DrawPanelBackground(TvlCanvas* ACanvas, TWinControl* AControl, TRect ABounds,
                                                      TColor AColorFrom, TColor AColorTo) const {
  DrawGroupBoxBackground(ACanvas, ABounds, ABounds);
}
void TvlCustomLookAndFeelPainter::DrawPanelBorders(TvlCanvas* ACanvas, const TRect& ABorderRect) const {}
void TvlCustomLookAndFeelPainter::DrawPanelCaption(TvlCanvas* ACanvas, const TRect& ACaptionRect,
                                                   TvlGroupBoxCaptionPosition ACaptionPosition) const {
  DrawGroupBoxCaption(ACanvas, ACaptionRect, ACaptionPosition);
}
void TvlCustomLookAndFeelPainter::DrawPanelContent(TvlCanvas* ACanvas, const TRect& ABorderRect,
                                                   Boolean ABorder) const {
  Fill(ACanvas, ABorderRect, clBtnFace);
}
TRect TvlCustomLookAndFeelPainter::PanelBorderSize() const { return TRect{0, 0, 0, 0}; }
TColor TvlCustomLookAndFeelPainter::PanelTextColor() const { return clDefault; }

// --- Track bar and splitter ------------------------------------------------------------------------------------

void TvlCustomLookAndFeelPainter::DrawTrackBar(TvlCanvas* ACanvas, const TRect& ARect, const TRect& ASelection,
                                               Boolean AShowSelection, Boolean AEnabled, Boolean AHorizontal) const {}
void TvlCustomLookAndFeelPainter::DrawTrackBarThumb(TvlCanvas* ACanvas, TRect ARect, TvlButtonState AState,
                                                    Boolean AHorizontal, TvlTrackBarTicksAlign ATicks) const {}
TSize TvlCustomLookAndFeelPainter::TrackBarThumbSize(Boolean AHorizontal) const { return TSize{0, 0}; }
TColor TvlCustomLookAndFeelPainter::TrackBarTicksColor(Boolean AText) const { return clDefault; }
Integer TvlCustomLookAndFeelPainter::TrackBarTrackSize() const { return 0; }

TColor TvlCustomLookAndFeelPainter::GetSplitterInnerColor(Boolean AHighlighted) const { return clWhite; }
TColor TvlCustomLookAndFeelPainter::GetSplitterOuterColor(Boolean AHighlighted) const { return clBtnShadow; }

void TvlCustomLookAndFeelPainter::DrawSplitter(TvlCanvas* ACanvas, const TRect& ARect, Boolean AHighlighted,
                                               Boolean AClicked, Boolean AHorizontal) const {
  const TSize size = GetSplitterSize(AHorizontal);
  const Integer thick = AHorizontal ? size.cy : size.cx;
  // Runs along the length of ARect; the segments are [from, to) along it.
  auto line = [&](Integer AOffset, TColor AColor) {
    const Integer start = (AHorizontal ? ARect.Left : ARect.Top) + AOffset;
    const Integer end = (AHorizontal ? ARect.Right : ARect.Bottom) + AOffset;
    const Integer across = (AHorizontal ? (ARect.Top + ARect.Bottom - thick) : (ARect.Left + ARect.Right - thick)) / 2 +
                           AOffset;
    const Integer c = (AHorizontal ? ARect.Left + ARect.Right : ARect.Top + ARect.Bottom) / 2 + AOffset;
    auto segment = [&](Integer AFrom, Integer ATo) {
      if (AFrom >= ATo) return;
      Fill(ACanvas, AHorizontal ? TRect{AFrom, across, ATo, across + 1} : TRect{across, AFrom, across + 1, ATo},
                        AColor);
    };
    segment(start, c - 5);
    segment(c - 4, c - 2);
    segment(c - 1, c + 1);
    segment(c + 2, c + 4);
    segment(c + 5, end);
  };
  line(0, GetSplitterOuterColor(AHighlighted));
  if (thick > 1) line(1, GetSplitterInnerColor(AHighlighted));
}

TSize TvlCustomLookAndFeelPainter::GetSplitterSize(Boolean AHorizontal) const {
  return AHorizontal ? TSize{17, 2} : TSize{2, 17};
}

// --- Layout control, print preview, calculator, customization form ------------------------------------------------

TColor TvlCustomLookAndFeelPainter::LayoutControlEmptyAreaColor() const { return clBtnFace; }

void TvlCustomLookAndFeelPainter::DrawLayoutControlBackground(TvlCanvas* ACanvas, const TRect& R) const {
  Fill(ACanvas, R, LayoutControlEmptyAreaColor());
}

TRect TvlCustomLookAndFeelPainter::PrintPreviewPageBordersWidth() const { return TRect{2, 2, 4, 4}; }

void TvlCustomLookAndFeelPainter::DrawPrintPreviewBackground(TvlCanvas* ACanvas, const TRect& R) const {
  Fill(ACanvas, R, clBtnShadow);
}

void TvlCustomLookAndFeelPainter::DrawPrintPreviewPageBackground(TvlCanvas* ACanvas, const TRect& ABorderRect,
                                                                 const TRect& AContentRect, Boolean ASelected,
                                                                 Boolean ADrawContent) const {
  ACanvas->SaveClipRegion();
  Finally restore([&] { ACanvas->RestoreClipRegion(); });
  if (ADrawContent) Fill(ACanvas, AContentRect, clWindow);
  TRect frame = vlInflateRectSides(ABorderRect, 0, 0, -2, -2);
  if (!ASelected) frame = Deflated(frame, 1);
  ACanvas->ExcludeClipRect(AContentRect);
  Fill(ACanvas, frame, ASelected ? clHighlight : clWindowText);
  Fill(ACanvas, TRect{frame.Right, frame.Top + 2, frame.Right + 2, frame.Bottom + 2}, clWindowText);
  Fill(ACanvas, TRect{frame.Left + 2, frame.Bottom, frame.Right, frame.Bottom + 2}, clWindowText);
}

TColor TvlCustomLookAndFeelPainter::CalcEditButtonTextColor(TvlCalcButtonKind AButtonKind) const {
  switch (AButtonKind) {
    case cbBack:
    case cbCancel:
    case cbClear: return Rgb(128, 0, 0);
    case cbMC:
    case cbMR:
    case cbMS:
    case cbMP:
    case cbDiv:
    case cbMul:
    case cbSub:
    case cbAdd:
    case cbEqual: return Rgb(255, 0, 0);
    case cbSqrt:
    case cbPercent:
    case cbRev: return Rgb(0, 0, 128);
    default: return Rgb(0, 0, 255);  // the digits, sign, decimal point and cbNone
  }
}

TColor TvlCustomLookAndFeelPainter::GetCustomizationFormListBackgroundColor() const { return clBtnFace; }
