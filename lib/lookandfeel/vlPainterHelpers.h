// Small helpers shared by the painter sources (not part of the library's
// interface).
#pragma once

#include "lib/foundation/vlGeometry.h"
#include "lib/foundation/vlGraphics.h"
#include "lib/lookandfeel/vlLookAndFeelPainters.h"
#include "platform/win/WinTypes.h"

namespace vl_painters {

constexpr TColor Rgb(Byte R, Byte G, Byte B) { return static_cast<TColor>(win::RGB(R, G, B)); }

// R moved in by D on every side.
inline TRect Deflated(const TRect& R, Integer D) { return vlInflateRectBy(R, -D, -D); }
// R moved in by D on every side, or R itself when that leaves nothing.
inline TRect DeflatedOrSelf(const TRect& R, Integer D) {
  const TRect r = Deflated(R, D);
  return vlIsRectEmpty(r) ? R : r;
}

// R filled with AColor through the shared solid brushes (a painter fills
// many small rectangles in alternating colours; the canvas's brush would be
// made anew for each). clNone fills nothing, clDefault fills with the
// canvas's brush.
void Fill(TvlCanvas* ACanvas, const TRect& R, TColor AColor);
// A one-pixel frame in AColor on ABorders of R.
void Frame(TvlCanvas* ACanvas, const TRect& R, TColor AColor, TvlBorders ABorders = vlBordersAll);
// A one-pixel ring: ALeftTop on the left and top sides, ARightBottom on the
// right and bottom sides.
void Ring(TvlCanvas* ACanvas, const TRect& R, TColor ALeftTop, TColor ARightBottom,
          TvlBorders ABorders = vlBordersAll);

// A triangle filled and outlined in AColor.
void FillTriangle(TvlCanvas* ACanvas, const TPoint& A, const TPoint& B, const TPoint& C, TColor AColor);

// A one-pixel line from A to B in AColor, both ends drawn (horizontal,
// vertical or sloped), its slope kept exactly.
void Line(TvlCanvas* ACanvas, const TPoint& A, const TPoint& B, TColor AColor);

// The plus (collapsed) or minus (expanded) sign of the expand buttons,
// centred in R, its bars (R's width - 4) div 2 long on each side.
void DrawExpandSign(TvlCanvas* ACanvas, const TRect& R, Boolean AExpanded, TColor AColor);

// The outlined sorting mark of ASize centred in R, pointing up when
// AAscending: the left edge (and an upward mark's base) in ALightColor, the
// other edges in ADarkColor.
void DrawSortingMarkOutline(TvlCanvas* ACanvas, const TRect& R, const TPoint& ASize, Boolean AAscending,
                            TColor ALightColor, TColor ADarkColor);

// The filled month arrows of a month header in AColor: left-pointing in the
// left ASideWidth-wide area for haLeft and haBoth, right-pointing in the
// right one for haRight and haBoth; the arrows' rectangle is ABounds below
// ABorderSize, less one pixel at top and bottom.
void DrawMonthHeaderArrows(TvlCanvas* ACanvas, const TRect& ABounds, TvlHeaderArrows AArrows, Integer ASideWidth,
                           Integer ABorderSize, TColor AColor = clWindowText);

// A scroll bar's page area: the brush pattern of the first scroll-bar pattern
// bitmap, or of the second (dark) one when pressed; the brush is solid again
// afterwards.
void FillScrollBarPage(TvlCanvas* ACanvas, const TRect& R, Boolean APressed);

// The ultra-flat scroll-bar part, which the flat painter shares: nothing for
// an empty rectangle or a disabled bar's thumb; buttons (line buttons with
// their arrow, AArrowInset pixels inside) and the page patterns.
void DrawButtonScrollBarPart(const TvlCustomLookAndFeelPainter* APainter, TvlCanvas* ACanvas, Boolean AHorizontal,
                             const TRect& R, TvlScrollBarPart APart, TvlButtonState AState, Integer AArrowInset);

}  // namespace vl_painters
