// Paths: figures recorded by the primitives between BeginPath and EndPath,
// then filled, stroked, widened or turned into a region or clip.
#include <algorithm>
#include <cmath>

#include "platform/win/GdiRaster.h"


namespace win::gdi {

void PathMoveTo(TDCObj* dc, POINT p) {
  TPath& path = dc->S.Path;
  path.Figures.push_back({{p}, false});
  path.NewFigure = false;
}

void PathLineTo(TDCObj* dc, POINT p) {
  TPath& path = dc->S.Path;
  if (path.NewFigure || path.Figures.empty()) {
    POINT cur = ToDevice(dc, dc->S.CurPos.x, dc->S.CurPos.y);
    path.Figures.push_back({{cur}, false});
    path.NewFigure = false;
  }
  path.Figures.back().Points.push_back(p);
}

void PathAddFigure(TDCObj* dc, const std::vector<POINT>& pts, bool closed) {
  TPath& path = dc->S.Path;
  if (pts.empty()) return;
  path.Figures.push_back({pts, closed});
  path.NewFigure = closed;
}

namespace {

// The path's area as a region (device coordinates).
TRgn PathRegion(const TDCObj* dc) {
  std::vector<POINT> pts;
  std::vector<int> counts;
  for (const auto& f : dc->S.Path.Figures) {
    if (f.Points.size() < 2) continue;
    pts.insert(pts.end(), f.Points.begin(), f.Points.end());
    counts.push_back(int(f.Points.size()));
  }
  TSpans spans;
  if (!counts.empty()) PolygonSpans(pts.data(), counts.data(), int(counts.size()), dc->S.PolyFillMode, spans);
  TRgn rgn;
  rgn.SetSpans(spans);
  return rgn;
}

TDCObj* ClosedPathDC(HDC hdc) {
  TDCObj* dc = LookupDC(hdc);
  if (!dc || !dc->S.Path.Defined) return nullptr;
  return dc;
}

void ConsumePath(TDCObj* dc) {
  dc->S.Path = TPath{};
}

void FillPathArea(TDCObj* dc) {
  TRgn rgn = PathRegion(dc);
  TSpans spans;
  int n = 0;
  const pixman_box32_t* b = rgn.Rects(&n);
  for (int i = 0; i < n; ++i)
    for (int y = b[i].y1; y < b[i].y2; ++y) spans.push_back({y, b[i].x1, b[i].x2});
  FillSpansWithBrush(dc, spans);
}

void StrokePathFigures(TDCObj* dc) {
  for (const auto& f : dc->S.Path.Figures) {
    if (f.Points.size() < 2) continue;
    dc->StylePos = 0;
    StrokePolyline(dc, f.Points.data(), int(f.Points.size()), f.Closed);
  }
}

}  // namespace

}  // namespace win::gdi

namespace win {

using namespace gdi;

BOOL BeginPath(HDC hdc) {
  TDCObj* dc = LookupDC(hdc);
  if (!dc) return 0;
  dc->S.Path = TPath{};
  dc->S.Path.Open = true;
  return 1;
}

BOOL EndPath(HDC hdc) {
  TDCObj* dc = LookupDC(hdc);
  if (!dc || !dc->S.Path.Open) return 0;
  dc->S.Path.Open = false;
  dc->S.Path.Defined = true;
  return 1;
}

BOOL AbortPath(HDC hdc) {
  TDCObj* dc = LookupDC(hdc);
  if (!dc) return 0;
  dc->S.Path = TPath{};
  return 1;
}

BOOL CloseFigure(HDC hdc) {
  TDCObj* dc = LookupDC(hdc);
  if (!dc || !dc->S.Path.Open) return 0;
  if (!dc->S.Path.Figures.empty()) dc->S.Path.Figures.back().Closed = true;
  dc->S.Path.NewFigure = true;
  return 1;
}

BOOL FillPath(HDC hdc) {
  TDCObj* dc = ClosedPathDC(hdc);
  if (!dc) return 0;
  FillPathArea(dc);
  ConsumePath(dc);
  return 1;
}

BOOL StrokePath(HDC hdc) {
  TDCObj* dc = ClosedPathDC(hdc);
  if (!dc) return 0;
  StrokePathFigures(dc);
  ConsumePath(dc);
  return 1;
}

BOOL StrokeAndFillPath(HDC hdc) {
  TDCObj* dc = ClosedPathDC(hdc);
  if (!dc) return 0;
  FillPathArea(dc);
  StrokePathFigures(dc);
  ConsumePath(dc);
  return 1;
}

BOOL FlattenPath(HDC hdc) { return ClosedPathDC(hdc) ? 1 : 0; }  // curves are flattened when recorded

// The widened path is the area the pen would cover, as closed rectangular
// figures (filled with WINDING their union is the stroke).
BOOL WidenPath(HDC hdc) {
  TDCObj* dc = ClosedPathDC(hdc);
  if (!dc) return 0;
  int w = std::max(dc->S.Pen->Width, 1);
  // the stroke is only needed where the DC can draw
  RECT vis{};
  {
    TDrawTarget t(dc, false);
    if (t.Valid()) {
      vis = t.Clip().Box();
      OffsetRect(&vis, -t.Offset().x, -t.Offset().y);
    }
  }
  InflateRect(&vis, w + 1, w + 1);
  TSpans spans;
  for (const auto& f : dc->S.Path.Figures) {
    size_t n = f.Points.size();
    if (n < 2) continue;
    size_t segs = f.Closed ? n : n - 1;
    for (size_t i = 0; i < segs; ++i) {
      POINT a = f.Points[i], b = f.Points[(i + 1) % n];
      // a disc swept along the segment
      double r = w / 2.0;
      int minX = std::max<int>(vis.left, int(std::floor(std::min(a.x, b.x) - r)));
      int maxX = std::min<int>(vis.right, int(std::ceil(std::max(a.x, b.x) + r)));
      int minY = std::max<int>(vis.top, int(std::floor(std::min(a.y, b.y) - r)));
      int maxY = std::min<int>(vis.bottom, int(std::ceil(std::max(a.y, b.y) + r)));
      double vx = b.x - a.x, vy = b.y - a.y, len2 = vx * vx + vy * vy;
      for (int y = minY; y <= maxY; ++y)
        for (int x = minX; x <= maxX; ++x) {
          double t = len2 > 0 ? std::clamp(((x - a.x) * vx + (y - a.y) * vy) / len2, 0.0, 1.0) : 0.0;
          double ex = a.x + t * vx - x, ey = a.y + t * vy - y;
          if (ex * ex + ey * ey <= r * r) spans.push_back({y, x, x + 1});
        }
    }
  }
  TRgn rgn;
  rgn.SetSpans(spans);
  TPath widened;
  widened.Defined = true;
  int n = 0;
  const pixman_box32_t* b = rgn.Rects(&n);
  for (int i = 0; i < n; ++i)
    widened.Figures.push_back({{POINT{b[i].x1, b[i].y1}, POINT{b[i].x2, b[i].y1}, POINT{b[i].x2, b[i].y2},
                                POINT{b[i].x1, b[i].y2}},
                               true});
  dc->S.Path = std::move(widened);
  return 1;
}

HRGN PathToRegion(HDC hdc) {
  TDCObj* dc = ClosedPathDC(hdc);
  if (!dc) return nullptr;
  TRgn rgn = PathRegion(dc);
  ConsumePath(dc);
  // the region is in device coordinates, as the path is
  auto* r = new TRegionObj();
  r->Type = OBJ_REGION;
  r->Rgn = std::move(rgn);
  return static_cast<HRGN>(Register(r));
}

BOOL SelectClipPath(HDC hdc, int mode) {
  TDCObj* dc = ClosedPathDC(hdc);
  if (!dc) return 0;
  HRGN rgn = PathToRegion(hdc);
  int r = ExtSelectClipRgn(hdc, rgn, mode);
  DeleteObject(rgn);
  return r != ERROR;
}

}  // namespace win
