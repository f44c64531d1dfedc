// The base painter's arrows, borders, buttons, expand buttons, check boxes,
// radio buttons and label lines.
#include "lib/lookandfeel/vlLookAndFeelPainters.h"

#include <algorithm>
#include <cstdlib>

#include "lib/lookandfeel/vlPainterHelpers.h"
#include "lib/lookandfeel/vlRadioButtonImageList.h"
#include "lib/lookandfeel/vlSolidBrushCache.h"
#include "platform/win/Gdi.h"
#include "platform/rtl/Numbers.h"
#include "platform/vcl/Graphics.h"

using namespace vl_painters;

namespace {

void FillPolygon(TvlCanvas* ACanvas, const TvlArrowPoints& P, TColor AColor) {
  FillTriangle(ACanvas, P[0], P[1], P[2], AColor);
}

// Two chevrons of width 7, the second two rows below the first, centred in R.
void DrawChevrons(TvlCanvas* ACanvas, const TRect& R, Boolean AUp, TColor AColor) {
  constexpr Integer s = 3;
  ACanvas->Pen()->SetStyle(psSolid);
  ACanvas->Pen()->SetWidth(1);
  ACanvas->Pen()->SetColor(AColor);
  const Integer cx = (R.Left + R.Right) / 2;
  const Integer height = (s + 1) + 1 + (s - 1);  // one chevron, its second row, the offset of the second
  const Integer top = (R.Top + R.Bottom - height) / 2;
  for (Integer chevron = 0; chevron < 2; ++chevron)
    for (Integer row = 0; row < 2; ++row) {
      const Integer y = top + chevron * (s - 1) + row;
      if (AUp)
        ACanvas->Polyline({TPoint{cx - s, y + s}, TPoint{cx, y}, TPoint{cx + s + 1, y + s + 1}});
      else
        ACanvas->Polyline({TPoint{cx - s, y}, TPoint{cx, y + s}, TPoint{cx + s + 1, y - 1}});
    }
}

}  // namespace

namespace vl_painters {

void Fill(TvlCanvas* ACanvas, const TRect& R, TColor AColor) {
  if (AColor == clNone || vlIsRectEmpty(R)) return;
  if (AColor == clDefault) {
    ACanvas->FillRect(R);
    return;
  }
  win::FillRect(ACanvas->Handle(), &R, vlGetSolidBrush(AColor));
}

void Frame(TvlCanvas* ACanvas, const TRect& R, TColor AColor, TvlBorders ABorders) {
  Ring(ACanvas, R, AColor, AColor, ABorders);
}

void Ring(TvlCanvas* ACanvas, const TRect& R, TColor ALeftTop, TColor ARightBottom, TvlBorders ABorders) {
  if (vlIsRectEmpty(R)) return;
  if (ALeftTop == clDefault || ARightBottom == clDefault) {
    if (ABorders.Contains(bLeft)) Fill(ACanvas, TRect{R.Left, R.Top, R.Left + 1, R.Bottom}, ALeftTop);
    if (ABorders.Contains(bTop)) Fill(ACanvas, TRect{R.Left, R.Top, R.Right, R.Top + 1}, ALeftTop);
    if (ABorders.Contains(bRight)) Fill(ACanvas, TRect{R.Right - 1, R.Top, R.Right, R.Bottom}, ARightBottom);
    if (ABorders.Contains(bBottom)) Fill(ACanvas, TRect{R.Left, R.Bottom - 1, R.Right, R.Bottom}, ARightBottom);
    return;
  }
  // One DC and one brush per colour for the four sides. The second brush is
  // fetched only once the first one has drawn: fetching it may make the full
  // shared cache drop (and delete) the first.
  const win::HDC dc = ACanvas->Handle();
  auto side = [&](TvlBorder ASide, const TRect& AStrip, win::HBRUSH ABrush) {
    if (ABrush && ABorders.Contains(ASide)) win::FillRect(dc, &AStrip, ABrush);
  };
  const win::HBRUSH leftTop = ALeftTop == clNone ? nullptr : vlGetSolidBrush(ALeftTop);
  side(bLeft, TRect{R.Left, R.Top, R.Left + 1, R.Bottom}, leftTop);
  side(bTop, TRect{R.Left, R.Top, R.Right, R.Top + 1}, leftTop);
  const win::HBRUSH rightBottom =
      ARightBottom == clNone ? nullptr : ARightBottom == ALeftTop ? leftTop : vlGetSolidBrush(ARightBottom);
  side(bRight, TRect{R.Right - 1, R.Top, R.Right, R.Bottom}, rightBottom);
  side(bBottom, TRect{R.Left, R.Bottom - 1, R.Right, R.Bottom}, rightBottom);
}

void FillTriangle(TvlCanvas* ACanvas, const TPoint& A, const TPoint& B, const TPoint& C, TColor AColor) {
  ACanvas->Brush()->SetStyle(bsSolid);
  ACanvas->Brush()->SetColor(AColor);
  ACanvas->Pen()->SetStyle(psSolid);
  ACanvas->Pen()->SetWidth(1);
  ACanvas->Pen()->SetColor(AColor);
  ACanvas->Polygon({A, B, C});
}

void Line(TvlCanvas* ACanvas, const TPoint& A, const TPoint& B, TColor AColor) {
  // Plotted here rather than with LineTo, which leaves out the end point:
  // extending the line by a step to include it would change its slope.
  const Integer dx = B.X - A.X, dy = B.Y - A.Y;
  if (dx == 0 || dy == 0) {
    Fill(ACanvas, TRect{std::min(A.X, B.X), std::min(A.Y, B.Y), std::max(A.X, B.X) + 1, std::max(A.Y, B.Y) + 1},
         AColor);
    return;
  }
  // Along the longer axis one pixel per step; the other coordinate is the
  // exact one rounded half away from the start, so a line mirrored about
  // either axis is plotted mirrored.
  const Integer n = std::max(std::abs(dx), std::abs(dy));
  auto rounded = [n](Integer ANumerator) {
    return ANumerator >= 0 ? (2 * ANumerator + n) / (2 * n) : -((-2 * ANumerator + n) / (2 * n));
  };
  for (Integer t = 0; t <= n; ++t) {
    const Integer x = A.X + rounded(dx * t), y = A.Y + rounded(dy * t);
    Fill(ACanvas, TRect{x, y, x + 1, y + 1}, AColor);
  }
}

void DrawExpandSign(TvlCanvas* ACanvas, const TRect& R, Boolean AExpanded, TColor AColor) {
  const Integer mx = (R.Left + R.Right) / 2, my = (R.Top + R.Bottom) / 2;
  const Integer half = (R.Right - R.Left - 4) / 2;
  if (half < 0) return;
  Fill(ACanvas, TRect{mx - half, my, mx + half + 1, my + 1}, AColor);
  if (!AExpanded) Fill(ACanvas, TRect{mx, my - half, mx + 1, my + half + 1}, AColor);
}

void DrawSortingMarkOutline(TvlCanvas* ACanvas, const TRect& R, const TPoint& ASize, Boolean AAscending,
                            TColor ALightColor, TColor ADarkColor) {
  const Integer w = ASize.X, h = ASize.Y;
  if (w <= 0 || h <= 0) return;
  const Integer x0 = (R.Left + R.Right - w) / 2, y0 = (R.Top + R.Bottom - h) / 2;
  const Integer cx = x0 + (w - 1) / 2;
  const Integer x1 = x0 + w - 1, y1 = y0 + h - 1;
  // The upward mark: its edges run from the tip down. The downward mark is
  // its mirror image (rows flipped), edge for edge, so the two differ only
  // in the base's colour.
  auto edge = [&](TPoint A, TPoint B, TColor AColor) {
    if (!AAscending) {
      A.Y = y0 + y1 - A.Y;
      B.Y = y0 + y1 - B.Y;
    }
    Line(ACanvas, A, B, AColor);
  };
  edge(TPoint{cx, y0}, TPoint{x1, y1}, ADarkColor);
  edge(TPoint{x0, y1}, TPoint{x1, y1}, AAscending ? ALightColor : ADarkColor);
  edge(TPoint{cx, y0}, TPoint{x0, y1}, ALightColor);
}

}  // namespace vl_painters

// --- Arrows ---------------------------------------------------------------------------------

void TvlCustomLookAndFeelPainter::CalculateArrowPoints(TRect R, TvlArrowPoints& P, TvlArrowDirection AArrowDirection,
                                                       Boolean AProportional, Integer AArrowSize) const {
  if (AProportional) {
    const Integer d = (R.Right - R.Left) - (R.Bottom - R.Top);
    if (d > 0) {
      R.Left += d / 2;
      R.Right -= d / 2;
    } else if (d < 0) {
      R.Top += -d / 2;
      R.Bottom -= -d / 2;
    }
  }
  const Boolean vertical = AArrowDirection == adUp || AArrowDirection == adDown;
  Integer n = AArrowSize;
  if (n == 0) n = vertical ? (R.Right - R.Left - 1) / 4 + 1 : (R.Bottom - R.Top - 1) / 4 + 1;
  const Integer w = vertical ? 2 * n - 1 : n;
  const Integer h = vertical ? n : 2 * n - 1;
  const Integer x0 = (R.Left + R.Right - w) / 2;
  const Integer y0 = MulDiv(R.Top + R.Bottom - h, 1, 2);
  const Integer cx = (R.Left + R.Right - 1) / 2, cy = (R.Top + R.Bottom - 1) / 2;
  switch (AArrowDirection) {
    case adUp:
      P[0] = TPoint{x0, y0 + h - 1};
      P[1] = TPoint{x0 + w - 1, y0 + h - 1};
      P[2] = TPoint{cx, y0};
      break;
    case adDown:
      P[0] = TPoint{x0, y0};
      P[1] = TPoint{x0 + w - 1, y0};
      P[2] = TPoint{cx, y0 + h - 1};
      break;
    case adLeft:
      P[0] = TPoint{x0 + w - 1, y0};
      P[1] = TPoint{x0 + w - 1, y0 + h - 1};
      P[2] = TPoint{x0, cy};
      break;
    case adRight:
      P[0] = TPoint{x0, y0};
      P[1] = TPoint{x0, y0 + h - 1};
      P[2] = TPoint{x0 + w - 1, cy};
      break;
  }
}

void TvlCustomLookAndFeelPainter::DrawArrow(TvlCanvas* ACanvas, const TRect& R, TvlArrowDirection AArrowDirection,
                                            TColor AColor) const {
  TvlArrowPoints p;
  CalculateArrowPoints(R, p, AArrowDirection, true);
  FillPolygon(ACanvas, p, AColor);
}

void TvlCustomLookAndFeelPainter::DrawArrow(TvlCanvas* ACanvas, const TRect& R, TvlButtonState AState,
                                            TvlArrowDirection AArrowDirection, Boolean ADrawBorder) const {
  TvlArrowPoints p;
  CalculateArrowPoints(R, p, AArrowDirection, false);
  if (ADrawBorder)
    DrawArrowBorder(ACanvas, R, AState);
  else
    Fill(ACanvas, R, ButtonColor(AState));
  FillPolygon(ACanvas, p, ButtonSymbolColor(AState, clDefault));
}

void TvlCustomLookAndFeelPainter::DrawArrowBorder(TvlCanvas* ACanvas, const TRect& R, TvlButtonState AState) const {
  Fill(ACanvas, R, ButtonColor(AState));
  DrawButtonBorder(ACanvas, R, AState);
}

void TvlCustomLookAndFeelPainter::DrawScrollBarArrow(TvlCanvas* ACanvas, TRect R, TvlButtonState AState,
                                                     TvlArrowDirection AArrowDirection) const {
  if (AState == vlbsPressed) R = vlOffsetRect(R, ButtonTextShift(), ButtonTextShift());
  TvlArrowPoints p;
  CalculateArrowPoints(R, p, AArrowDirection, true);
  if (AState == vlbsDisabled) {
    TvlArrowPoints shifted;
    for (Integer i = 0; i < 3; ++i) shifted[i] = TPoint{p[i].X + 1, p[i].Y + 1};
    FillPolygon(ACanvas, shifted, clBtnHighlight);
    FillPolygon(ACanvas, p, clBtnShadow);
  } else
    FillPolygon(ACanvas, p, ButtonSymbolColor(AState, clDefault));
}

// --- Borders and separators -------------------------------------------------------------------

Integer TvlCustomLookAndFeelPainter::BorderSize() const { return 0; }
void TvlCustomLookAndFeelPainter::DrawBorder(TvlCanvas* ACanvas, TRect R) const {}
void TvlCustomLookAndFeelPainter::DrawSeparator(TvlCanvas* ACanvas, const TRect& R, Boolean AIsVertical) const {}

// --- Buttons ------------------------------------------------------------------------------------

TRect TvlCustomLookAndFeelPainter::AdjustGroupButtonDisplayRect(const TRect& R, Integer AButtonCount,
                                                                Integer AButtonIndex) const {
  return R;
}

Integer TvlCustomLookAndFeelPainter::ButtonBorderSize(TvlButtonState AState) const { return 0; }
TColor TvlCustomLookAndFeelPainter::ButtonColor(TvlButtonState AState) const { return clBtnFace; }

TRect TvlCustomLookAndFeelPainter::ButtonFocusRect(TvlCanvas* ACanvas, TRect R) const {
  return DeflatedOrSelf(R, 4);
}

TRect TvlCustomLookAndFeelPainter::ButtonGroupBorderSizes(Integer AButtonCount, Integer AButtonIndex) const {
  const Integer b = ButtonBorderSize(vlbsNormal);
  return TRect{b, b, b, b};
}

Integer TvlCustomLookAndFeelPainter::ButtonTextOffset() const { return 0; }
Integer TvlCustomLookAndFeelPainter::ButtonTextShift() const { return 0; }

TColor TvlCustomLookAndFeelPainter::ButtonSymbolColor(TvlButtonState AState, TColor ADefaultColor) const {
  if (AState == vlbsDisabled) return clBtnShadow;
  return ADefaultColor == clDefault ? clBtnText : ADefaultColor;
}

TvlButtonState TvlCustomLookAndFeelPainter::ButtonSymbolState(TvlButtonState AState) const { return AState; }

void TvlCustomLookAndFeelPainter::DrawButton(TvlCanvas* ACanvas, TRect R, const String& ACaption,
                                             TvlButtonState AState, Boolean ADrawBorder, TColor AColor,
                                             TColor ATextColor, Boolean AWordWrap, Boolean AIsToolButton) const {
  if (ADrawBorder) {
    DrawButtonBorder(ACanvas, R, AState);
    R = Deflated(R, ButtonBorderSize(AState));
  }
  Fill(ACanvas, R, AColor == clDefault ? ButtonColor(AState) : AColor);
  ACanvas->Font()->SetColor(ATextColor == clDefault ? ButtonSymbolColor(AState, clDefault) : ATextColor);
  ACanvas->Brush()->SetStyle(bsClear);
  if ((R.Bottom - R.Top) % 2 != 0) --R.Bottom;
  if (R.Bottom - R.Top < 18) --R.Top;
  if (AState == vlbsPressed) R = vlOffsetRect(R, ButtonTextShift(), ButtonTextShift());
  if (!ACaption.empty())
    ACanvas->DrawTexT(ACaption, R,
                      vlAlignHCenter | vlAlignVCenter | vlShowPrefix | (AWordWrap ? vlWordBreak : vlSingleLine),
                      AState != vlbsDisabled);
  ACanvas->Brush()->SetStyle(bsSolid);
}

void TvlCustomLookAndFeelPainter::DrawButtonInGroup(TvlCanvas* ACanvas, TRect R, TvlButtonState AState,
                                                    Integer AButtonCount, Integer AButtonIndex,
                                                    TColor ABackgroundColor) const {
  DrawButton(ACanvas, R, String(), AState, true, clDefault, clDefault);
}

void TvlCustomLookAndFeelPainter::DrawButtonBorder(TvlCanvas* ACanvas, TRect R, TvlButtonState AState) const {}

void TvlCustomLookAndFeelPainter::DrawButtonGroupBorder(TvlCanvas* ACanvas, TRect R, Boolean AInplace,
                                                        Boolean ASelected) const {}

void TvlCustomLookAndFeelPainter::DrawButtonCross(TvlCanvas* ACanvas, const TRect& R, TColor AColor,
                                                  TvlButtonState AState) const {
  Integer n = FilterCloseButtonSize().X / 2;
  if (n % 2 == 0) --n;
  if (n <= 0) return;
  Integer x = (R.Left + R.Right - n) / 2, y = (R.Top + R.Bottom - n) / 2;
  if (AState == vlbsPressed) {
    ++x;
    ++y;
  }
  Line(ACanvas, TPoint{x, y}, TPoint{x + n - 1, y + n - 1}, AColor);
  Line(ACanvas, TPoint{x + n - 1, y}, TPoint{x, y + n - 1}, AColor);
}

// --- Expand buttons -----------------------------------------------------------------------------

void TvlCustomLookAndFeelPainter::DrawExpandButton(TvlCanvas* ACanvas, const TRect& R, Boolean AExpanded,
                                                   TColor AColor) const {}

void TvlCustomLookAndFeelPainter::DrawExpandButtonEx(TvlCanvas* ACanvas, const TRect& R, TvlButtonState AState,
                                                     Boolean AExpanded) const {
  DrawButton(ACanvas, R, String(), AState, true, clDefault, clDefault);
  DrawChevrons(ACanvas, R, AExpanded, ButtonSymbolColor(AState, clDefault));
}

Boolean TvlCustomLookAndFeelPainter::DrawExpandButtonFirst() const { return true; }

void TvlCustomLookAndFeelPainter::DrawGroupExpandButton(TvlCanvas* ACanvas, const TRect& R, Boolean AExpanded,
                                                        TvlButtonState AState) const {
  DrawExpandButtonEx(ACanvas, R, AState, AExpanded);
}

void TvlCustomLookAndFeelPainter::DrawSmallExpandButton(TvlCanvas* ACanvas, TRect R, Boolean AExpanded,
                                                        TColor ABorderColor, TColor AColor) const {
  Frame(ACanvas, R, ABorderColor);
  if (AColor != clDefault) Fill(ACanvas, Deflated(R, 1), AColor);
  DrawExpandSign(ACanvas, R, AExpanded, clBtnText);
}

Integer TvlCustomLookAndFeelPainter::ExpandButtonSize() const { return 0; }
Integer TvlCustomLookAndFeelPainter::GroupExpandButtonSize() const { return 15; }
Boolean TvlCustomLookAndFeelPainter::IsButtonHotTrack() const { return false; }
Boolean TvlCustomLookAndFeelPainter::IsPointOverGroupExpandButton(const TRect& R, const TPoint& P) const {
  return vlPointInRect(R, P);
}
Integer TvlCustomLookAndFeelPainter::SmallExpandButtonSize() const { return 9; }

// --- Check boxes and radio buttons -----------------------------------------------------------------

Integer TvlCustomLookAndFeelPainter::CheckBorderSize() const { return 2; }

TColor TvlCustomLookAndFeelPainter::CheckButtonColor(TvlButtonState AState) const {
  return AState == vlbsPressed || AState == vlbsDisabled ? clBtnFace : clWindow;
}

TSize TvlCustomLookAndFeelPainter::CheckButtonSize() const { return vlCheckButtonGlyphSize(); }

void TvlCustomLookAndFeelPainter::DrawCheck(TvlCanvas* ACanvas, const TRect& R, TvlButtonState AState,
                                            Boolean AChecked, TColor AColor) const {
  if (ACanvas->Brush()->Style() == bsSolid) Fill(ACanvas, R, CheckButtonColor(AState));
  if (!AChecked) return;
  const Integer w = R.Right - R.Left - 2, h = R.Bottom - R.Top - 4;
  const Integer bx = (R.Left + R.Right) / 2 - 1;
  ACanvas->Pen()->SetStyle(psSolid);
  ACanvas->Pen()->SetWidth(1);
  ACanvas->Pen()->SetColor(AColor);
  for (Integer a = 0; a < 3; ++a) {
    const Integer y = (R.Top + R.Bottom + h) / 2 - 2 + a;
    ACanvas->Polyline({TPoint{bx + 1 - w / 2, y - h / 2}, TPoint{bx, y}, TPoint{bx + w / 2 + 2, y - h}});
  }
}

void TvlCustomLookAndFeelPainter::DrawCheckBorder(TvlCanvas* ACanvas, TRect R, TvlButtonState AState) const {}

void TvlCustomLookAndFeelPainter::DrawCheckButton(TvlCanvas* ACanvas, TRect R, TvlButtonState AState,
                                                  Boolean AChecked) const {
  DrawCheckButton(ACanvas, R, AState, AChecked ? cbsChecked : cbsUnchecked);
}

void TvlCustomLookAndFeelPainter::DrawCheckButton(TvlCanvas* ACanvas, TRect R, TvlButtonState AState,
                                                  TvlCheckBoxState ACheckState) const {
  DrawCheckBorder(ACanvas, R, AState);
  R = Deflated(R, CheckBorderSize());
  const TColor color = AState == vlbsDisabled || ACheckState == cbsGrayed ? clGrayText : clBtnText;
  // A grayed box shows its tick in the grey colour (without a tick it would
  // look unchecked, and the grey colour would never be seen).
  DrawCheck(ACanvas, R, AState, ACheckState != cbsUnchecked, color);
}

void TvlCustomLookAndFeelPainter::DrawRadioButton(TvlCanvas* ACanvas, Integer X, Integer Y,
                                                  TvlButtonState AButtonState, Boolean AChecked, Boolean AFocused,
                                                  TColor ABrushColor, Boolean AIsDesigning) const {
  vlGetRadioButtonImages()->Draw(ACanvas, X, Y, ABrushColor, vlStyleToLookAndFeelKind(LookAndFeelStyle()),
                                 AButtonState, AChecked, AFocused, AIsDesigning);
}

TSize TvlCustomLookAndFeelPainter::RadioButtonSize() const { return vlGetRadioButtonImages()->GetSize(); }

// --- Label lines -------------------------------------------------------------------------------------

void TvlCustomLookAndFeelPainter::DrawLabelLine(TvlCanvas* ACanvas, const TRect& R, TColor AOuterColor,
                                                TColor AInnerColor, Boolean AIsVertical) const {
  Ring(ACanvas, R, AOuterColor == clDefault ? clBtnShadow : AOuterColor,
       AInnerColor == clDefault ? clBtnHighlight : AInnerColor,
       AIsVertical ? TvlBorders{bLeft, bRight} : TvlBorders{bTop, bBottom});
}

Integer TvlCustomLookAndFeelPainter::LabelLineHeight() const { return 2; }
