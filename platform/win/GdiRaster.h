// Pixel sets of the filled shapes, shared by regions, drawing and paths.
// Spans are rows [x0, x1) in the coordinates of the input.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/win/GdiInternal.h"

namespace win::gdi {

using TSpans = std::vector<TRgn::TSpan>;

// Shapes are computed within +-LimitCoord: coordinates beyond it are clamped,
// so hostile values cannot overflow the arithmetic or make endless loops.
constexpr int LimitCoord = 1 << 20;
inline int ClampCoord(long long v) {
  return int(v < -LimitCoord ? -LimitCoord : v > LimitCoord ? LimitCoord : v);
}

// The pixels whose centres lie inside the ellipse inscribed in [l, r) x [t, b).
// Rows outside [yLo, yHi) are skipped (drawing passes its clip box).
void EllipseSpans(int l, int t, int r, int b, TSpans& out, int yLo = INT32_MIN, int yHi = INT32_MAX);
// The rectangle [l, r) x [t, b) with corners rounded by ellipses w x h.
void RoundRectSpans(int l, int t, int r, int b, int w, int h, TSpans& out, int yLo = INT32_MIN,
                    int yHi = INT32_MAX);
// The pixels inside the polygons (ALTERNATE or WINDING), sampled at the
// integer points (the pixel centres of lines): left and top edges are in,
// right and bottom edges out.
void PolygonSpans(const POINT* pts, const int* counts, int npoly, int mode, TSpans& out, int yLo = INT32_MIN,
                  int yHi = INT32_MAX);

// Paths: while a path is open the primitives add figures (device
// coordinates) instead of drawing.
inline bool PathOpen(const TDCObj* dc) { return dc->S.Path.Open; }
void PathMoveTo(TDCObj* dc, POINT p);
void PathLineTo(TDCObj* dc, POINT p);
void PathAddFigure(TDCObj* dc, const std::vector<POINT>& pts, bool closed);

// The outline of an ellipse inscribed in [l, r) x [t, b) as points (device
// coordinates), for paths and arcs: n points counter-clockwise from angle 0.
std::vector<POINT> EllipsePoints(double l, double t, double r, double b, int n);

// Strokes with the DC's pen (ROP2, dashes, width) and fills with its brush.
void StrokePolyline(TDCObj* dc, const POINT* devPts, int n, bool closed);
void FillSpansWithBrush(TDCObj* dc, TSpans& spans, bool useRop2 = true);

// Integer floor division for any signs.
inline long long FloorDiv(long long a, long long b) {
  long long q = a / b;
  if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
  return q;
}
inline long long CeilDiv(long long a, long long b) { return -FloorDiv(-a, b); }

}  // namespace win::gdi
