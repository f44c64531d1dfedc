// Drawing primitives: pixels, lines and polylines with cosmetic and wide
// pens, filled shapes, rectangles and regions with brushes, PatBlt.
//
// Lines: a pixel is lit for every step along the major axis from the start
// point up to, but not including, the end point; the minor coordinate is the
// exact one rounded to nearest with ties toward the smaller coordinate, so a
// line covers the same pixels in both directions (apart from the end point).
#include <algorithm>
#include <cmath>

#include "platform/win/GdiRaster.h"

namespace win::gdi {

namespace {

const BYTE Hatches[6][8] = {
    {0xFF, 0, 0, 0, 0, 0, 0, 0},                                  // HS_HORIZONTAL
    {0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80},              // HS_VERTICAL
    {0x80, 0x40, 0x20, 0x10, 0x08, 0x04, 0x02, 0x01},              // HS_FDIAGONAL
    {0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x40, 0x80},              // HS_BDIAGONAL
    {0xFF, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80},              // HS_CROSS
    {0x81, 0x42, 0x24, 0x18, 0x18, 0x24, 0x42, 0x81},              // HS_DIAGCROSS
};

// The ternary ROP index that applies a ROP2 mix with the pattern as the pen.
uint32_t Rop2ToRop3(int rop2) {
  unsigned m = unsigned(rop2 - 1) & 15;
  uint32_t idx = 0;
  for (unsigned k = 0; k < 8; ++k) {
    unsigned p = (k >> 2) & 1, d = k & 1;
    if ((m >> ((p << 1) | d)) & 1) idx |= 1u << k;
  }
  return idx;
}

COLORREF PenColor(const TDCObj* dc) { return dc->S.Pen->IsDCPen ? dc->S.DCPenColor : dc->S.Pen->Color; }
COLORREF BrushColor(const TDCObj* dc, const TBrushObj* b) { return b->IsDCBrush ? dc->S.DCBrushColor : b->Color; }

inline int Mod(int a, int m) {
  int r = a % m;
  return r < 0 ? r + m : r;
}

}  // namespace

const BYTE* HatchRows(int hatch) { return Hatches[std::clamp(hatch, 0, 5)]; }

TBrushPainter::TBrushPainter(const TDrawTarget& t, TBrushObj* brush, uint32_t ropIndex) : FT(t), FRop(ropIndex) {
  TDCObj* dc = t.DC();
  if (!brush || brush->Style == BS_NULL) {
    FNull = true;
    return;
  }
  FOrgX = dc->S.BrushOrg.x + t.Offset().x;
  FOrgY = dc->S.BrushOrg.y + t.Offset().y;
  switch (brush->Style) {
    case BS_SOLID: FColor = t.Pixel(BrushColor(dc, brush)); break;
    case BS_HATCHED: {
      FSolid = false;
      auto pat = std::make_shared<TPattern>();
      pat->Width = pat->Height = 8;
      pat->Mono = true;
      pat->Pixels.resize(64);
      const BYTE* rows = HatchRows(brush->Hatch);
      for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) pat->Pixels[size_t(y) * 8 + x] = (rows[y] >> (7 - x)) & 1 ? 0u : 1u;
      FPattern = pat;
      FFore = t.Pixel(BrushColor(dc, brush));
      FBack = t.Pixel(dc->S.BkColor);
      FTransparentBack = dc->S.BkMode == TRANSPARENT;
      break;
    }
    default:
      if (!brush->Pattern) {
        FNull = true;
        return;
      }
      FSolid = false;
      FPattern = brush->Pattern;
      FFore = t.Pixel(dc->S.TextColor);
      FBack = t.Pixel(dc->S.BkColor);
      break;
  }
}

void TBrushPainter::Span(int y, int x0, int x1) const {
  if (FNull) return;
  uint32_t* row = FT.Surface().Row(y);
  if (FSolid) {
    if (FRop == 0xF0) {
      std::fill(row + x0, row + x1, FColor);
      return;
    }
    for (int x = x0; x < x1; ++x) row[x] = RopMix3(FRop, FColor, 0, row[x]) & 0x00FFFFFFu;
    return;
  }
  const TPattern& p = *FPattern;
  int py = Mod(y - FOrgY, p.Height);
  const uint32_t* prow = p.Pixels.data() + size_t(py) * p.Width;
  for (int x = x0; x < x1; ++x) {
    uint32_t v = prow[Mod(x - FOrgX, p.Width)];
    if (p.Mono) {
      if (v && FTransparentBack) continue;
      v = v ? FBack : FFore;
    } else if (FT.Mono()) {
      v = MonoPixel(PixelToColor(v));
    }
    row[x] = FRop == 0xF0 ? v : RopMix3(FRop, v, 0, row[x]) & 0x00FFFFFFu;
  }
}

void FillRegionSurface(const TDrawTarget& t, const TRgn& rgn, TBrushObj* brush, uint32_t ropIndex) {
  TBrushPainter bp(t, brush, ropIndex);
  if (bp.Null()) return;
  TRgn r = rgn;
  r.Intersect(t.Clip());
  int n = 0;
  const pixman_box32_t* b = r.Rects(&n);
  for (int i = 0; i < n; ++i)
    for (int y = b[i].y1; y < b[i].y2; ++y) bp.Span(y, b[i].x1, b[i].x2);
}

// Fills spans (device coordinates) with the DC's brush under its ROP2.
void FillSpansWithBrush(TDCObj* dc, TSpans& spans, bool useRop2) {
  TDrawTarget t(dc);
  if (!t.Valid()) return;
  TBrushPainter bp(t, dc->S.Brush, useRop2 ? Rop2ToRop3(dc->S.Rop2) : 0xF0);
  if (bp.Null()) return;
  POINT o = t.Offset();
  for (const auto& s : spans) t.ClipSpan(s.y + o.y, s.x0 + o.x, s.x1 + o.x, [&](int a, int b) {
    bp.Span(s.y + o.y, a, b);
  });
}

namespace {

// Paints pixels in the pen's colour under the ROP2, following the dash
// pattern of a cosmetic pen (gaps in the background colour when opaque).
class TPenPainter {
 public:
  TPenPainter(const TDrawTarget& t) : FT(t) {
    TDCObj* dc = t.DC();
    TPenObj* pen = dc->S.Pen;
    FRop2 = dc->S.Rop2;
    FColor = t.Pixel(PenColor(dc));
    FBack = t.Pixel(dc->S.BkColor);
    FOpaqueGaps = dc->S.BkMode == OPAQUE;
    DWORD style = pen->Style & PS_STYLE_MASK;
    FNull = style == PS_NULL;
    int width = pen->Width;
    FWide = width > 1 || ((pen->Style & PS_TYPE_MASK) == PS_GEOMETRIC && width > 1);
    FWidth = std::max(width, 1);
    if (!FWide) {
      switch (style) {
        case PS_DASH: FDashes = {18, 6}; break;
        case PS_DOT: FDashes = {3, 3}; break;
        case PS_DASHDOT: FDashes = {9, 6, 3, 6}; break;
        case PS_DASHDOTDOT: FDashes = {9, 3, 3, 3, 3, 3}; break;
        case PS_ALTERNATE: FDashes = {1, 1}; break;
        case PS_USERSTYLE:
          for (DWORD d : pen->UserStyle) FDashes.push_back(int(std::min<DWORD>(std::max<DWORD>(d, 1), 1 << 16)));
          break;
        default: break;
      }
    }
    for (int d : FDashes) FDashTotal += d;
    FPos = dc->StylePos;
  }
  ~TPenPainter() { FT.DC()->StylePos = FPos; }

  bool Null() const { return FNull; }
  bool Wide() const { return FWide; }
  int Width() const { return FWidth; }
  int Rop2() const { return FRop2; }
  uint32_t Color() const { return FColor; }

  // One pixel of a line at the surface's (x, y); advances the dash pattern.
  void Plot(int x, int y) {
    bool on = true;
    if (FDashTotal > 0) {
      int p = FPos % FDashTotal;
      for (size_t i = 0; i < FDashes.size(); ++i) {
        if (p < FDashes[i]) {
          on = (i % 2) == 0;
          break;
        }
        p -= FDashes[i];
      }
      FPos = (FPos + 1) % FDashTotal;
    }
    if (!on && !FOpaqueGaps) return;
    if (!FT.Visible(x, y)) return;
    uint32_t* px = FT.Surface().Row(y) + x;
    *px = RopMix2(FRop2, on ? FColor : FBack, *px);
  }
  // A clipped solid span (no dashes).
  void Span(int y, int x0, int x1) {
    FT.ClipSpan(y, x0, x1, [&](int a, int b) {
      uint32_t* row = FT.Surface().Row(y);
      if (FRop2 == R2_COPYPEN) std::fill(row + a, row + b, FColor);
      else
        for (int x = a; x < b; ++x) row[x] = RopMix2(FRop2, FColor, row[x]);
    });
  }
  bool Dashed() const { return FDashTotal > 0; }

 private:
  const TDrawTarget& FT;
  int FRop2 = R2_COPYPEN;
  uint32_t FColor = 0, FBack = 0;
  bool FOpaqueGaps = false, FNull = false, FWide = false;
  int FWidth = 1;
  std::vector<int> FDashes;
  int FDashTotal = 0;
  int FPos = 0;
};

// The pixels of a thin line from a to b (end excluded), surface coordinates,
// visited only where the major coordinate lies within [lo, hi).
template <class F>
void LinePixels(POINT a, POINT b, int loX, int hiX, int loY, int hiY, F&& plot) {
  long long dx = (long long)b.x - a.x, dy = (long long)b.y - a.y;
  long long adx = dx < 0 ? -dx : dx, ady = dy < 0 ? -dy : dy;
  if (adx == 0 && ady == 0) return;
  bool xMajor = adx >= ady;
  long long n = xMajor ? adx : ady, s = (xMajor ? dx : dy) > 0 ? 1 : -1;
  long long start = xMajor ? a.x : a.y, lo = xMajor ? loX : loY, hi = xMajor ? hiX : hiY;
  // the steps i whose major coordinate start + s * i is within [lo, hi)
  long long i0 = 0, i1 = n;
  if (s > 0) {
    i0 = std::max(i0, lo - start);
    i1 = std::min(i1, hi - start);
  } else {
    i0 = std::max(i0, start - hi + 1);
    i1 = std::min(i1, start - lo + 1);
  }
  for (long long i = i0; i < i1; ++i) {
    if (xMajor) {
      // y = ceil(y0 + i dy / dx - 1/2)
      long long y = CeilDiv(2 * (long long)a.y * adx + 2 * i * dy - adx, 2 * adx);
      plot(int(a.x + s * i), int(y));
    } else {
      long long x = CeilDiv(2 * (long long)a.x * ady + 2 * i * dx - ady, 2 * ady);
      plot(int(x), int(a.y + s * i));
    }
  }
}

// The pixels within half the pen width of the segment, as spans.
void WideSegmentSpans(POINT a, POINT b, int width, const RECT& clip, TSpans& out) {
  double r = width / 2.0;
  // only the part that can be visible
  int minX = std::max<int>(clip.left - 1, int(std::floor(std::min(a.x, b.x) - r)));
  int maxX = std::min<int>(clip.right + 1, int(std::ceil(std::max(a.x, b.x) + r)));
  int minY = std::max<int>(clip.top - 1, int(std::floor(std::min(a.y, b.y) - r)));
  int maxY = std::min<int>(clip.bottom + 1, int(std::ceil(std::max(a.y, b.y) + r)));
  double vx = b.x - a.x, vy = b.y - a.y, len2 = vx * vx + vy * vy;
  double r2 = r * r;
  for (int y = minY; y <= maxY; ++y) {
    int start = 0;
    bool in = false;
    for (int x = minX; x <= maxX + 1; ++x) {
      bool inside = false;
      if (x <= maxX) {
        double t = len2 > 0 ? ((x - a.x) * vx + (y - a.y) * vy) / len2 : 0.0;
        t = std::clamp(t, 0.0, 1.0);
        double ex = a.x + t * vx - x, ey = a.y + t * vy - y;
        // half-open rule: strictly inside, plus the boundary toward top-left
        inside = ex * ex + ey * ey < r2 - 1e-9 || (std::fabs(ex * ex + ey * ey - r2) < 1e-9 && (ex > 0 || ey > 0));
      }
      if (inside && !in) start = x, in = true;
      if (!inside && in) {
        out.push_back({y, start, x});
        in = false;
      }
    }
  }
}

}  // namespace

void StrokePolyline(TDCObj* dc, const POINT* pts, int n, bool closed) {
  if (n < 2) return;
  TDrawTarget t(dc);
  if (!t.Valid()) return;
  TPenPainter pen(t);
  if (pen.Null()) return;
  POINT o = t.Offset();
  int segs = closed ? n : n - 1;
  RECT clip = t.Clip().Box();
  if (pen.Wide()) {
    TSpans spans;
    for (int i = 0; i < segs; ++i) {
      POINT a{ClampCoord((long long)pts[i].x + o.x), ClampCoord((long long)pts[i].y + o.y)};
      POINT b{ClampCoord((long long)pts[(i + 1) % n].x + o.x), ClampCoord((long long)pts[(i + 1) % n].y + o.y)};
      WideSegmentSpans(a, b, pen.Width(), clip, spans);
    }
    TRgn rgn;
    rgn.SetSpans(spans);
    int cnt = 0;
    const pixman_box32_t* bx = rgn.Rects(&cnt);
    for (int i = 0; i < cnt; ++i)
      for (int y = bx[i].y1; y < bx[i].y2; ++y) pen.Span(y, bx[i].x1, bx[i].x2);
    return;
  }
  for (int i = 0; i < segs; ++i) {
    POINT a{ClampCoord((long long)pts[i].x + o.x), ClampCoord((long long)pts[i].y + o.y)};
    POINT b{ClampCoord((long long)pts[(i + 1) % n].x + o.x), ClampCoord((long long)pts[(i + 1) % n].y + o.y)};
    if (a.y == b.y && !pen.Dashed() && a.x != b.x) {
      // horizontal solid runs go by spans
      if (a.x < b.x) pen.Span(a.y, a.x, b.x);
      else pen.Span(a.y, b.x + 1, a.x + 1);
      continue;
    }
    // dashes advance over the pixels skipped outside the clip
    if (pen.Dashed()) {
      LinePixels(a, b, INT32_MIN / 2, INT32_MAX / 2, INT32_MIN / 2, INT32_MAX / 2, [&](int x, int y) { pen.Plot(x, y); });
    } else {
      LinePixels(a, b, clip.left, clip.right, clip.top, clip.bottom, [&](int x, int y) { pen.Plot(x, y); });
    }
  }
}

namespace {

// The points of an ellipse (continuous geometry of the box [l, r) x [t, b)).
std::vector<POINT> RingPoints(double cx, double cy, double rx, double ry, double a0, double sweep, int n) {
  std::vector<POINT> pts;
  for (int i = 0; i <= n; ++i) {
    double a = a0 + sweep * i / n;
    pts.push_back(POINT{LONG(std::lround(cx + rx * std::cos(a))), LONG(std::lround(cy - ry * std::sin(a)))});
  }
  return pts;
}

int Segments(double rx, double ry) { return std::clamp(int((std::fabs(rx) + std::fabs(ry)) * 2), 8, 720); }

// Outline and interior of a closed shape given as a pixel-set function of a
// box: the outline ring is the shape minus the shape shrunk by the pen width.
// The rows of the DC's visible area in device coordinates (with a margin
// for wide pens).
std::pair<int, int> VisibleRows(TDCObj* dc, int margin) {
  TDrawTarget t(dc, false);
  if (!t.Valid()) return {0, 0};
  RECT b = t.Clip().Box();
  return {b.top - t.Offset().y - margin, b.bottom - t.Offset().y + margin};
}

template <class ShapeFn>
void DrawBoxShape(TDCObj* dc, RECT box, ShapeFn&& shape) {
  TPenObj* pen = dc->S.Pen;
  bool nullPen = (pen->Style & PS_STYLE_MASK) == PS_NULL;
  int w = std::max(pen->Width, 1);
  if (nullPen) {
    // without a pen the interior is one pixel smaller on the right and bottom
    TSpans spans;
    auto rows = VisibleRows(dc, 0);
    shape(box.left, box.top, box.right - 1, box.bottom - 1, spans, rows.first, rows.second);
    FillSpansWithBrush(dc, spans);
    return;
  }
  auto rows = VisibleRows(dc, w + 1);
  int lo = (w - 1) / 2, hi = w / 2;
  if ((pen->Style & PS_STYLE_MASK) == PS_INSIDEFRAME) {
    box.left += lo;
    box.top += lo;
    box.right -= hi;
    box.bottom -= hi;
  }
  TSpans outer, inner;
  shape(box.left - lo, box.top - lo, box.right + hi, box.bottom + hi, outer, rows.first, rows.second);
  shape(box.left + hi + 1, box.top + hi + 1, box.right - 1 - lo, box.bottom - 1 - lo, inner, rows.first,
        rows.second);
  FillSpansWithBrush(dc, inner);
  TRgn ring, in;
  ring.SetSpans(outer);
  in.SetSpans(inner);
  ring.Subtract(in);
  // the ring in the pen's colour
  TDrawTarget t(dc);
  if (!t.Valid()) return;
  TPenPainter pp(t);
  POINT o = t.Offset();
  int n = 0;
  const pixman_box32_t* b = ring.Rects(&n);
  for (int i = 0; i < n; ++i)
    for (int y = b[i].y1; y < b[i].y2; ++y) pp.Span(y + o.y, b[i].x1 + o.x, b[i].x2 + o.x);
}

void RectSpans(int l, int t, int r, int b, TSpans& out, int yLo, int yHi) {
  for (int y = std::max(t, yLo); y < std::min(b, yHi); ++y)
    if (l < r) out.push_back({y, l, r});
}

RECT NormBox(TDCObj* dc, int l, int t, int r, int b) {
  RECT rc = ClampRect(ToDevice(dc, RECT{std::min(l, r), std::min(t, b), std::max(l, r), std::max(t, b)}));
  return rc;
}

// Angle of a radial point relative to the centre (y up), in [0, 2pi).
double AngleOf(double cx, double cy, double x, double y) {
  double a = std::atan2(cy - y, x - cx);
  if (a < 0) a += 2 * M_PI;
  return a;
}

// Arc points from the start radial to the end radial in the DC's direction.
std::vector<POINT> ArcPoints(TDCObj* dc, RECT box, int x3, int y3, int x4, int y4) {
  double cx = (box.left + box.right - 1) / 2.0, cy = (box.top + box.bottom - 1) / 2.0;
  double rx = (box.right - box.left - 1) / 2.0, ry = (box.bottom - box.top - 1) / 2.0;
  POINT s = ToDevice(dc, x3, y3), e = ToDevice(dc, x4, y4);
  double a0 = AngleOf(cx, cy, s.x, s.y), a1 = AngleOf(cx, cy, e.x, e.y);
  double sweep;
  if (dc->S.ArcDirection == AD_COUNTERCLOCKWISE) {
    sweep = a1 - a0;
    if (sweep <= 0) sweep += 2 * M_PI;
  } else {
    sweep = a1 - a0;
    if (sweep >= 0) sweep -= 2 * M_PI;
  }
  int n = std::max(2, int(Segments(rx, ry) * std::fabs(sweep) / (2 * M_PI)));
  return RingPoints(cx, cy, rx, ry, a0, sweep, n);
}

}  // namespace

std::vector<POINT> EllipsePoints(double l, double t, double r, double b, int n) {
  double cx = (l + r - 1) / 2.0, cy = (t + b - 1) / 2.0, rx = (r - l - 1) / 2.0, ry = (b - t - 1) / 2.0;
  if (n <= 0) n = Segments(rx, ry);
  auto pts = RingPoints(cx, cy, rx, ry, 0, 2 * M_PI, n);
  pts.pop_back();
  return pts;
}

}  // namespace win::gdi

namespace win {

using namespace gdi;

COLORREF SetPixel(HDC hdc, int x, int y, COLORREF color) {
  TDCObj* dc = LookupDC(hdc);
  if (!dc) return CLR_INVALID;
  TDrawTarget t(dc);
  if (!t.Valid()) return CLR_INVALID;
  POINT p = ToDevice(dc, x, y);
  p.x += t.Offset().x;
  p.y += t.Offset().y;
  uint32_t px = t.Pixel(color);
  if (!t.Visible(p.x, p.y)) return CLR_INVALID;
  t.Surface().Row(p.y)[p.x] = px;
  return PixelToColor(px);
}

BOOL SetPixelV(HDC hdc, int x, int y, COLORREF color) { return SetPixel(hdc, x, y, color) != CLR_INVALID; }

COLORREF GetPixel(HDC hdc, int x, int y) {
  TDCObj* dc = LookupDC(hdc);
  if (!dc) return CLR_INVALID;
  TDrawTarget t(dc, true, true);
  if (!t.Valid()) return CLR_INVALID;
  POINT p = ToDevice(dc, x, y);
  p.x += t.Offset().x;
  p.y += t.Offset().y;
  if (!t.Visible(p.x, p.y)) return CLR_INVALID;
  uint32_t v = t.Surface().Row(p.y)[p.x];
  if (t.Mono() && dc->S.Bitmap && dc->S.Bitmap->IsDIB && dc->S.Bitmap->Colors.size() >= 2) {
    const RGBQUAD& q = dc->S.Bitmap->Colors[(v & 0xFFFFFF) ? 1 : 0];
    return RGB(q.rgbRed, q.rgbGreen, q.rgbBlue);
  }
  return PixelToColor(v);
}

BOOL MoveToEx(HDC hdc, int x, int y, LPPOINT lppt) {
  TDCObj* dc = LookupDC(hdc);
  if (!dc) return 0;
  if (lppt) *lppt = dc->S.CurPos;
  dc->S.CurPos = POINT{x, y};
  dc->StylePos = 0;
  if (PathOpen(dc)) PathMoveTo(dc, ToDevice(dc, x, y));
  return 1;
}

BOOL LineTo(HDC hdc, int x, int y) {
  TDCObj* dc = LookupDC(hdc);
  if (!dc) return 0;
  POINT pts[2] = {ToDevice(dc, dc->S.CurPos.x, dc->S.CurPos.y), ToDevice(dc, x, y)};
  dc->S.CurPos = POINT{x, y};
  if (PathOpen(dc)) {
    PathLineTo(dc, pts[1]);
    return 1;
  }
  StrokePolyline(dc, pts, 2, false);
  return 1;
}

BOOL Polyline(HDC hdc, const POINT* apt, int cpt) {
  TDCObj* dc = LookupDC(hdc);
  if (!dc || !apt || cpt < 2) return 0;
  std::vector<POINT> dev(static_cast<size_t>(cpt));
  for (int i = 0; i < cpt; ++i) dev[size_t(i)] = ToDevice(dc, apt[i].x, apt[i].y);
  if (PathOpen(dc)) {
    PathAddFigure(dc, dev, false);
    return 1;
  }
  int saved = dc->StylePos;
  dc->StylePos = 0;
  StrokePolyline(dc, dev.data(), cpt, false);
  dc->StylePos = saved;
  return 1;
}

BOOL PolylineTo(HDC hdc, const POINT* apt, DWORD cpt) {
  TDCObj* dc = LookupDC(hdc);
  if (!dc || !apt || cpt == 0) return 0;
  std::vector<POINT> dev;
  dev.push_back(ToDevice(dc, dc->S.CurPos.x, dc->S.CurPos.y));
  for (DWORD i = 0; i < cpt; ++i) dev.push_back(ToDevice(dc, apt[i].x, apt[i].y));
  dc->S.CurPos = apt[cpt - 1];
  if (PathOpen(dc)) {
    for (size_t i = 1; i < dev.size(); ++i) PathLineTo(dc, dev[i]);
    return 1;
  }
  StrokePolyline(dc, dev.data(), int(dev.size()), false);
  return 1;
}

BOOL PolyPolyline(HDC hdc, const POINT* apt, const DWORD* asz, DWORD csz) {
  TDCObj* dc = LookupDC(hdc);
  if (!dc || !apt || !asz) return 0;
  for (DWORD k = 0; k < csz; ++k)
    if (asz[k] < 2) return 0;
  const POINT* p = apt;
  for (DWORD k = 0; k < csz; ++k) {
    Polyline(hdc, p, int(asz[k]));
    p += asz[k];
  }
  return 1;
}

BOOL PolyPolygon(HDC hdc, const POINT* apt, const INT* asz, int csz) {
  TDCObj* dc = LookupDC(hdc);
  if (!dc || !apt || !asz || csz <= 0) return 0;
  size_t total = 0;
  for (int k = 0; k < csz; ++k) {
    if (asz[k] < 2) return 0;
    total += size_t(asz[k]);
  }
  std::vector<POINT> dev(total);
  for (size_t i = 0; i < total; ++i) dev[i] = ToDevice(dc, apt[i].x, apt[i].y);
  if (PathOpen(dc)) {
    size_t at = 0;
    for (int k = 0; k < csz; ++k) {
      PathAddFigure(dc, std::vector<POINT>(dev.begin() + long(at), dev.begin() + long(at + size_t(asz[k]))), true);
      at += size_t(asz[k]);
    }
    return 1;
  }
  TSpans spans;
  auto rows = VisibleRows(dc, 0);
  PolygonSpans(dev.data(), asz, csz, dc->S.PolyFillMode, spans, rows.first, rows.second);
  FillSpansWithBrush(dc, spans);
  size_t at = 0;
  for (int k = 0; k < csz; ++k) {
    dc->StylePos = 0;
    StrokePolyline(dc, dev.data() + at, asz[k], true);
    at += size_t(asz[k]);
  }
  return 1;
}

BOOL Polygon(HDC hdc, const POINT* apt, int cpt) {
  if (cpt < 2) return 0;
  return PolyPolygon(hdc, apt, &cpt, 1);
}

namespace {
// Flattens cubic Bézier segments (start point given) into points.
void Bezier(std::vector<POINT>& out, POINT p0, POINT p1, POINT p2, POINT p3) {
  double len = std::hypot(p1.x - p0.x, p1.y - p0.y) + std::hypot(p2.x - p1.x, p2.y - p1.y) +
               std::hypot(p3.x - p2.x, p3.y - p2.y);
  int n = std::clamp(int(len / 3), 2, 256);
  for (int i = 1; i <= n; ++i) {
    double t = double(i) / n, u = 1 - t;
    double x = u * u * u * p0.x + 3 * u * u * t * p1.x + 3 * u * t * t * p2.x + t * t * t * p3.x;
    double y = u * u * u * p0.y + 3 * u * u * t * p1.y + 3 * u * t * t * p2.y + t * t * t * p3.y;
    out.push_back(POINT{LONG(std::lround(x)), LONG(std::lround(y))});
  }
}
}  // namespace

BOOL PolyBezier(HDC hdc, const POINT* apt, DWORD cpt) {
  TDCObj* dc = LookupDC(hdc);
  if (!dc || !apt || cpt < 4 || (cpt - 1) % 3 != 0) return 0;
  std::vector<POINT> out{ToDevice(dc, apt[0].x, apt[0].y)};
  for (DWORD i = 1; i + 2 < cpt; i += 3)
    Bezier(out, out.back(), ToDevice(dc, apt[i].x, apt[i].y), ToDevice(dc, apt[i + 1].x, apt[i + 1].y),
           ToDevice(dc, apt[i + 2].x, apt[i + 2].y));
  if (PathOpen(dc)) {
    PathAddFigure(dc, out, false);
    return 1;
  }
  StrokePolyline(dc, out.data(), int(out.size()), false);
  return 1;
}

BOOL PolyBezierTo(HDC hdc, const POINT* apt, DWORD cpt) {
  TDCObj* dc = LookupDC(hdc);
  if (!dc || !apt || cpt < 3 || cpt % 3 != 0) return 0;
  std::vector<POINT> out{ToDevice(dc, dc->S.CurPos.x, dc->S.CurPos.y)};
  for (DWORD i = 0; i + 2 < cpt; i += 3)
    Bezier(out, out.back(), ToDevice(dc, apt[i].x, apt[i].y), ToDevice(dc, apt[i + 1].x, apt[i + 1].y),
           ToDevice(dc, apt[i + 2].x, apt[i + 2].y));
  dc->S.CurPos = apt[cpt - 1];
  if (PathOpen(dc)) {
    for (size_t i = 1; i < out.size(); ++i) PathLineTo(dc, out[i]);
    return 1;
  }
  StrokePolyline(dc, out.data(), int(out.size()), false);
  return 1;
}

BOOL Rectangle(HDC hdc, int left, int top, int right, int bottom) {
  TDCObj* dc = LookupDC(hdc);
  if (!dc) return 0;
  RECT box = NormBox(dc, left, top, right, bottom);
  if (PathOpen(dc)) {
    PathAddFigure(dc, {POINT{box.left, box.top}, POINT{box.right - 1, box.top}, POINT{box.right - 1, box.bottom - 1},
                       POINT{box.left, box.bottom - 1}}, true);
    return 1;
  }
  DrawBoxShape(dc, box, RectSpans);
  return 1;
}

BOOL Ellipse(HDC hdc, int left, int top, int right, int bottom) {
  TDCObj* dc = LookupDC(hdc);
  if (!dc) return 0;
  RECT box = NormBox(dc, left, top, right, bottom);
  if (PathOpen(dc)) {
    PathAddFigure(dc, EllipsePoints(box.left, box.top, box.right, box.bottom, 0), true);
    return 1;
  }
  DrawBoxShape(dc, box, EllipseSpans);
  return 1;
}

BOOL RoundRect(HDC hdc, int left, int top, int right, int bottom, int width, int height) {
  TDCObj* dc = LookupDC(hdc);
  if (!dc) return 0;
  RECT box = NormBox(dc, left, top, right, bottom);
  if (PathOpen(dc)) {
    PathAddFigure(dc, {POINT{box.left, box.top}, POINT{box.right - 1, box.top}, POINT{box.right - 1, box.bottom - 1},
                       POINT{box.left, box.bottom - 1}}, true);
    return 1;
  }
  DrawBoxShape(dc, box, [&](int l, int t, int r, int b, TSpans& out, int yLo, int yHi) {
    // the corner ellipses shrink with the box so the ring keeps its width
    int shrink = (box.right - box.left) - (r - l);
    RoundRectSpans(l, t, r, b, std::max(ClampCoord(width) - shrink, 0), std::max(ClampCoord(height) - shrink, 0), out,
                   yLo, yHi);
  });
  return 1;
}

BOOL Arc(HDC hdc, int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
  TDCObj* dc = LookupDC(hdc);
  if (!dc) return 0;
  RECT box = NormBox(dc, x1, y1, x2, y2);
  auto pts = ArcPoints(dc, box, x3, y3, x4, y4);
  if (PathOpen(dc)) {
    PathAddFigure(dc, pts, false);
    return 1;
  }
  dc->StylePos = 0;
  StrokePolyline(dc, pts.data(), int(pts.size()), false);
  return 1;
}

BOOL ArcTo(HDC hdc, int left, int top, int right, int bottom, int xr1, int yr1, int xr2, int yr2) {
  TDCObj* dc = LookupDC(hdc);
  if (!dc) return 0;
  RECT box = NormBox(dc, left, top, right, bottom);
  auto pts = ArcPoints(dc, box, xr1, yr1, xr2, yr2);
  std::vector<POINT> all{ToDevice(dc, dc->S.CurPos.x, dc->S.CurPos.y)};
  all.insert(all.end(), pts.begin(), pts.end());
  // the current position moves to the arc's end (logical coordinates)
  dc->S.CurPos = POINT{pts.back().x - dc->S.ViewportOrg.x + dc->S.WindowOrg.x,
                       pts.back().y - dc->S.ViewportOrg.y + dc->S.WindowOrg.y};
  if (PathOpen(dc)) {
    for (size_t i = 1; i < all.size(); ++i) PathLineTo(dc, all[i]);
    return 1;
  }
  StrokePolyline(dc, all.data(), int(all.size()), false);
  return 1;
}

namespace {
BOOL PieOrChord(HDC hdc, int l, int t, int r, int b, int x3, int y3, int x4, int y4, bool pie) {
  TDCObj* dc = LookupDC(hdc);
  if (!dc) return 0;
  RECT box = NormBox(dc, l, t, r, b);
  auto pts = ArcPoints(dc, box, x3, y3, x4, y4);
  if (pie) pts.push_back(POINT{LONG(std::lround((box.left + box.right - 1) / 2.0)),
                               LONG(std::lround((box.top + box.bottom - 1) / 2.0))});
  if (PathOpen(dc)) {
    PathAddFigure(dc, pts, true);
    return 1;
  }
  int n = int(pts.size());
  TSpans spans;
  auto rows = VisibleRows(dc, 0);
  PolygonSpans(pts.data(), &n, 1, ALTERNATE, spans, rows.first, rows.second);
  FillSpansWithBrush(dc, spans);
  dc->StylePos = 0;
  StrokePolyline(dc, pts.data(), n, true);
  return 1;
}
}  // namespace

BOOL Pie(HDC hdc, int l, int t, int r, int b, int x3, int y3, int x4, int y4) {
  return PieOrChord(hdc, l, t, r, b, x3, y3, x4, y4, true);
}
BOOL Chord(HDC hdc, int l, int t, int r, int b, int x3, int y3, int x4, int y4) {
  return PieOrChord(hdc, l, t, r, b, x3, y3, x4, y4, false);
}

namespace {
// A brush argument: a handle, or a system colour index + 1.
TBrushObj* BrushArg(HBRUSH hbr) {
  uintptr_t v = reinterpret_cast<uintptr_t>(hbr);
  if (v >= 1 && v <= 31) return LookupBrush(GetSysColorBrush(int(v - 1)));
  return LookupBrush(hbr);
}

void FillDeviceRegion(TDCObj* dc, TRgn rgn, TBrushObj* brush, uint32_t rop) {
  const RECT box = rgn.Box();
  TDrawTarget t(dc, true, false, &box);
  if (!t.Valid()) return;
  rgn.Offset(t.Offset().x, t.Offset().y);
  FillRegionSurface(t, rgn, brush, rop);
}
}  // namespace

int FillRect(HDC hDC, const RECT* lprc, HBRUSH hbr) {
  TDCObj* dc = LookupDC(hDC);
  TBrushObj* b = BrushArg(hbr);
  if (!dc || !lprc || !b) return 0;
  // no normalization: an inverted rectangle fills nothing
  RECT r = ClampRect(ToDevice(dc, *lprc));
  if (r.left >= r.right || r.top >= r.bottom) return 1;
  FillDeviceRegion(dc, TRgn(r), b, 0xF0);
  return 1;
}

int FrameRect(HDC hDC, const RECT* lprc, HBRUSH hbr) {
  TDCObj* dc = LookupDC(hDC);
  TBrushObj* b = BrushArg(hbr);
  if (!dc || !lprc || !b) return 0;
  RECT r = ClampRect(ToDevice(dc, *lprc));
  if (r.left >= r.right || r.top >= r.bottom) return 1;
  TRgn frame(r);
  frame.Subtract(TRgn(RECT{r.left + 1, r.top + 1, r.right - 1, r.bottom - 1}));
  FillDeviceRegion(dc, std::move(frame), b, 0xF0);
  return 1;
}

BOOL InvertRect(HDC hDC, const RECT* lprc) {
  TDCObj* dc = LookupDC(hDC);
  if (!dc || !lprc) return 0;
  RECT r = ClampRect(ToDevice(dc, *lprc));
  if (r.left >= r.right || r.top >= r.bottom) return 1;
  FillDeviceRegion(dc, TRgn(r), static_cast<TBrushObj*>(Lookup(GetStockObject(BLACK_BRUSH))), 0x55);
  return 1;
}

namespace {
bool LogicalRegion(TDCObj* dc, HRGN hrgn, TRgn& out) {
  TRegionObj* r = LookupRegion(hrgn);
  if (!r) return false;
  out = r->Rgn;
  out.Offset(dc->S.ViewportOrg.x - dc->S.WindowOrg.x, dc->S.ViewportOrg.y - dc->S.WindowOrg.y);
  return true;
}
}  // namespace

BOOL FillRgn(HDC hdc, HRGN hrgn, HBRUSH hbr) {
  TDCObj* dc = LookupDC(hdc);
  TBrushObj* b = BrushArg(hbr);
  TRgn rgn;
  if (!dc || !b || !LogicalRegion(dc, hrgn, rgn)) return 0;
  FillDeviceRegion(dc, std::move(rgn), b, 0xF0);
  return 1;
}

BOOL PaintRgn(HDC hdc, HRGN hrgn) {
  TDCObj* dc = LookupDC(hdc);
  TRgn rgn;
  if (!dc || !LogicalRegion(dc, hrgn, rgn)) return 0;
  FillDeviceRegion(dc, std::move(rgn), dc->S.Brush, Rop2ToRop3(dc->S.Rop2));
  return 1;
}

BOOL InvertRgn(HDC hdc, HRGN hrgn) {
  TDCObj* dc = LookupDC(hdc);
  TRgn rgn;
  if (!dc || !LogicalRegion(dc, hrgn, rgn)) return 0;
  FillDeviceRegion(dc, std::move(rgn), static_cast<TBrushObj*>(Lookup(GetStockObject(BLACK_BRUSH))), 0x55);
  return 1;
}

BOOL FrameRgn(HDC hdc, HRGN hrgn, HBRUSH hbr, int w, int h) {
  TDCObj* dc = LookupDC(hdc);
  TBrushObj* b = BrushArg(hbr);
  TRgn rgn;
  if (!dc || !b || !LogicalRegion(dc, hrgn, rgn) || w <= 0 || h <= 0) return 0;
  // the frame is the region minus the region eroded by w x h
  TRgn inner = rgn;
  for (int dx : {-w, w}) {
    TRgn m = rgn;
    m.Offset(dx, 0);
    inner.Intersect(m);
  }
  for (int dy : {-h, h}) {
    TRgn m = rgn;
    m.Offset(0, dy);
    inner.Intersect(m);
  }
  rgn.Subtract(inner);
  FillDeviceRegion(dc, std::move(rgn), b, 0xF0);
  return 1;
}

BOOL PatBlt(HDC hdc, int x, int y, int w, int h, DWORD rop) {
  TDCObj* dc = LookupDC(hdc);
  if (!dc) return 0;
  uint32_t idx = (rop >> 16) & 0xFF;
  // a ROP that reads the source is not valid here
  if (((idx >> 2) & 0x33) != (idx & 0x33)) return 0;
  long long x2 = (long long)x + w, y2 = (long long)y + h;
  RECT r = ClampRect(ToDevice(dc, RECT{ClampCoord(std::min<long long>(x, x2)), ClampCoord(std::min<long long>(y, y2)),
                                       ClampCoord(std::max<long long>(x, x2)), ClampCoord(std::max<long long>(y, y2))}));
  if (r.left >= r.right || r.top >= r.bottom) return 1;
  TBrushObj* brush = dc->S.Brush;
  bool usesPattern = ((idx >> 4) & 0x0F) != (idx & 0x0F);
  if (!usesPattern || !brush || brush->Style == BS_NULL) {
    // no pattern needed (or a null brush: treated as black)
    static TBrushObj* black = static_cast<TBrushObj*>(Lookup(GetStockObject(BLACK_BRUSH)));
    if (usesPattern && brush && brush->Style == BS_NULL) return 1;
    brush = black;
  }
  FillDeviceRegion(dc, TRgn(r), brush, idx);
  return 1;
}

}  // namespace win
