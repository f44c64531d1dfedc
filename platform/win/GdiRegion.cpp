// Regions (on pixman) and the DC's clip region.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/win/GdiRaster.h"

namespace win::gdi {

namespace {

// Whether (X, Y) (doubled coordinates relative to the centre) lies inside the
// ellipse with doubled axes A, B.
inline bool InEllipse(long long X, long long Y, long long A, long long B) {
  __int128 lhs = __int128(X) * X * B * B + __int128(Y) * Y * A * A;
  __int128 rhs = __int128(A) * A * B * B;
  return lhs <= rhs;
}

// The half-width (in doubled coordinates, the largest odd/even X of the right
// parity) of the ellipse at doubled row offset Y; -1 when the row is outside.
long long EllipseHalfSpan(long long Y, long long A, long long B, long long parity) {
  if (!InEllipse(parity, Y, A, B)) return -1;
  double est = A * std::sqrt(std::max(0.0, 1.0 - double(Y) * double(Y) / (double(B) * double(B))));
  long long X = (long long)est;
  if ((X - parity) % 2 != 0) --X;
  if (X < parity) X = parity;
  while (InEllipse(X + 2, Y, A, B)) X += 2;
  while (X > parity && !InEllipse(X, Y, A, B)) X -= 2;
  return X;
}

}  // namespace

void EllipseSpans(int l, int t, int r, int b, TSpans& out, int yLo, int yHi) {
  l = ClampCoord(l), t = ClampCoord(t), r = ClampCoord(r), b = ClampCoord(b);
  if (l > r) std::swap(l, r);
  if (t > b) std::swap(t, b);
  long long A = (long long)r - l, B = (long long)b - t;
  if (A <= 0 || B <= 0) return;
  long long cx2 = (long long)l + r, cy2 = (long long)t + b;  // doubled centre
  long long parity = A & 1;  // X = 2x + 1 - cx2 has the parity of A... (2x+1-l-r) ≡ (1 - l - r) ≡ (1 + A) mod 2
  parity = (1 + A) & 1;
  for (int y = std::max(t, yLo); y < std::min(b, yHi); ++y) {
    long long Y = 2LL * y + 1 - cy2;
    long long X = EllipseHalfSpan(Y, A, B, parity);
    if (X < 0) continue;
    // X = 2x + 1 - cx2  =>  x = (X + cx2 - 1) / 2
    long long x0 = (-X + cx2 - 1) / 2, x1 = (X + cx2 - 1) / 2 + 1;
    out.push_back({y, int(x0), int(x1)});
  }
}

void RoundRectSpans(int l, int t, int r, int b, int w, int h, TSpans& out, int yLo, int yHi) {
  l = ClampCoord(l), t = ClampCoord(t), r = ClampCoord(r), b = ClampCoord(b);
  w = ClampCoord(std::abs((long long)w)), h = ClampCoord(std::abs((long long)h));
  if (l > r) std::swap(l, r);
  if (t > b) std::swap(t, b);
  if (l == r || t == b) return;
  w = std::min(w, r - l);
  h = std::min(h, b - t);
  int y0 = std::max(t, yLo), y1 = std::min(b, yHi);
  if (w <= 1 || h <= 1) {
    for (int y = y0; y < y1; ++y) out.push_back({y, l, r});
    return;
  }
  long long parity = (1 + (long long)w) & 1;
  for (int y = y0; y < y1; ++y) {
    long long Y2 = 2LL * y + 1;
    long long top = 2LL * t + h, bottom = 2LL * b - h;  // doubled corner-centre rows
    long long Y;
    if (Y2 < top) Y = Y2 - top;
    else if (Y2 > bottom) Y = Y2 - bottom;
    else {
      out.push_back({y, l, r});
      continue;
    }
    long long X = EllipseHalfSpan(Y, w, h, parity);
    if (X < 0) continue;
    // left corner centre at doubled 2l + w, right at 2r - w
    long long left = 2LL * l + w, right = 2LL * r - w;
    long long x0 = (left - X - 1) / 2;
    long long x1 = (right + X - 1) / 2 + 1;
    x0 = std::max<long long>(x0, l);
    x1 = std::min<long long>(x1, r);
    if (x0 < x1) out.push_back({y, int(x0), int(x1)});
  }
}

void PolygonSpans(const POINT* pts, const int* counts, int npoly, int mode, TSpans& out, int yLo, int yHi) {
  struct TEdge {
    long long x0, y0, x1, y1;
    int dir;
  };
  std::vector<TEdge> edges;
  long long ymin = 0, ymax = 0;
  bool first = true;
  const POINT* p = pts;
  for (int k = 0; k < npoly; ++k) {
    int n = counts[k];
    for (int i = 0; i < n; ++i) {
      POINT a{ClampCoord(p[i].x), ClampCoord(p[i].y)};
      POINT c{ClampCoord(p[(i + 1) % n].x), ClampCoord(p[(i + 1) % n].y)};
      if (first) ymin = ymax = a.y, first = false;
      ymin = std::min<long long>(ymin, a.y);
      ymax = std::max<long long>(ymax, a.y);
      if (a.y == c.y) continue;
      if (a.y < c.y) edges.push_back({a.x, a.y, c.x, c.y, 1});
      else edges.push_back({c.x, c.y, a.x, a.y, -1});
    }
    p += n;
  }
  if (edges.empty()) return;
  std::vector<std::pair<long long, int>> xs;
  for (long long y = std::max<long long>(ymin, yLo); y < std::min<long long>(ymax, yHi); ++y) {
    xs.clear();
    for (const TEdge& e : edges) {
      // rows sample the polygon at integer points, top edges in, bottom edges out
      if (y < e.y0 || y >= e.y1) continue;
      long long D = e.y1 - e.y0;
      long long c = CeilDiv(e.x0 * D + (y - e.y0) * (e.x1 - e.x0), D);
      xs.emplace_back(c, e.dir);
    }
    std::sort(xs.begin(), xs.end());
    if (mode == WINDING) {
      int wind = 0;
      for (size_t i = 0; i + 1 < xs.size(); ++i) {
        wind += xs[i].second;
        if (wind != 0 && xs[i].first < xs[i + 1].first)
          out.push_back({int(y), int(xs[i].first), int(xs[i + 1].first)});
      }
    } else {
      for (size_t i = 0; i + 1 < xs.size(); i += 2)
        if (xs[i].first < xs[i + 1].first) out.push_back({int(y), int(xs[i].first), int(xs[i + 1].first)});
    }
  }
}

}  // namespace win::gdi

namespace win {

using namespace gdi;

namespace {

HRGN NewRegion(TRgn&& rgn) {
  auto* r = new TRegionObj();
  r->Type = OBJ_REGION;
  r->Rgn = std::move(rgn);
  return static_cast<HRGN>(Register(r));
}

HRGN RegionFromSpans(TSpans& spans) {
  TRgn rgn;
  rgn.SetSpans(spans);
  return NewRegion(std::move(rgn));
}

RECT Normalized(int x1, int y1, int x2, int y2) {
  return ClampRect(RECT{std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2)});
}

}  // namespace

HRGN CreateRectRgn(int x1, int y1, int x2, int y2) { return NewRegion(TRgn(Normalized(x1, y1, x2, y2))); }

HRGN CreateRectRgnIndirect(const RECT* r) {
  if (!r) return nullptr;
  return CreateRectRgn(r->left, r->top, r->right, r->bottom);
}

// Elliptic and round-rectangle regions leave out the right and bottom edges:
// they hold the pixels that Ellipse/RoundRect with a null pen fill, one pixel
// less on those sides than the rectangle given.
HRGN CreateRoundRectRgn(int x1, int y1, int x2, int y2, int w, int h) {
  RECT r = Normalized(x1, y1, x2, y2);
  TSpans spans;
  RoundRectSpans(r.left, r.top, r.right - 1, r.bottom - 1, w, h, spans);
  return RegionFromSpans(spans);
}

HRGN CreateEllipticRgn(int x1, int y1, int x2, int y2) {
  RECT r = Normalized(x1, y1, x2, y2);
  TSpans spans;
  EllipseSpans(r.left, r.top, r.right - 1, r.bottom - 1, spans);
  return RegionFromSpans(spans);
}

HRGN CreateEllipticRgnIndirect(const RECT* r) {
  if (!r) return nullptr;
  return CreateEllipticRgn(r->left, r->top, r->right, r->bottom);
}

HRGN CreatePolygonRgn(const POINT* pts, int n, int mode) {
  if (!pts || n < 2 || (mode != ALTERNATE && mode != WINDING)) return nullptr;
  TSpans spans;
  PolygonSpans(pts, &n, 1, mode, spans);
  return RegionFromSpans(spans);
}

HRGN CreatePolyPolygonRgn(const POINT* pts, const INT* pc, int cPoly, int mode) {
  if (!pts || !pc || cPoly <= 0 || (mode != ALTERNATE && mode != WINDING)) return nullptr;
  for (int i = 0; i < cPoly; ++i)
    if (pc[i] < 2) return nullptr;
  TSpans spans;
  PolygonSpans(pts, pc, cPoly, mode, spans);
  return RegionFromSpans(spans);
}

HRGN CreateRectsRgn(const RECT* rects, int count) {
  TRgn rgn;
  if (rects && count > 0) {
    // pixman builds a region from unsorted, overlapping rectangles in one pass
    rgn.SetRects(rects, size_t(count));
  }
  return NewRegion(std::move(rgn));
}

int CombineRgn(HRGN hDst, HRGN hSrc1, HRGN hSrc2, int mode) {
  TRegionObj* d = LookupRegion(hDst);
  TRegionObj* a = LookupRegion(hSrc1);
  if (!d || !a) return ERROR;
  if (mode == RGN_COPY) {
    d->Rgn = a->Rgn;
    return d->Rgn.Complexity();
  }
  TRegionObj* b = LookupRegion(hSrc2);
  if (!b) return ERROR;
  TRgn r = a->Rgn;
  switch (mode) {
    case RGN_AND: r.Intersect(b->Rgn); break;
    case RGN_OR: r.Union(b->Rgn); break;
    case RGN_XOR: r.Xor(b->Rgn); break;
    case RGN_DIFF: r.Subtract(b->Rgn); break;
    default: return ERROR;
  }
  d->Rgn = std::move(r);
  return d->Rgn.Complexity();
}

int OffsetRgn(HRGN h, int x, int y) {
  TRegionObj* r = LookupRegion(h);
  if (!r) return ERROR;
  r->Rgn.Offset(x, y);
  return r->Rgn.Complexity();
}

BOOL EqualRgn(HRGN h1, HRGN h2) {
  TRegionObj* a = LookupRegion(h1);
  TRegionObj* b = LookupRegion(h2);
  if (!a || !b) return ERROR;
  return a->Rgn.Equals(b->Rgn) ? 1 : 0;
}

BOOL PtInRegion(HRGN h, int x, int y) {
  TRegionObj* r = LookupRegion(h);
  return r && r->Rgn.Contains(x, y) ? 1 : 0;
}

BOOL RectInRegion(HRGN h, const RECT* rc) {
  TRegionObj* r = LookupRegion(h);
  if (!r || !rc) return 0;
  return r->Rgn.Overlaps(Normalized(rc->left, rc->top, rc->right, rc->bottom)) ? 1 : 0;
}

int GetRgnBox(HRGN h, LPRECT rc) {
  TRegionObj* r = LookupRegion(h);
  if (!r || !rc) return ERROR;
  *rc = r->Rgn.Box();
  return r->Rgn.Complexity();
}

BOOL SetRectRgn(HRGN h, int left, int top, int right, int bottom) {
  TRegionObj* r = LookupRegion(h);
  if (!r) return 0;
  r->Rgn.SetRect(Normalized(left, top, right, bottom));
  return 1;
}

DWORD GetRegionData(HRGN h, DWORD nCount, RGNDATA* data) {
  TRegionObj* r = LookupRegion(h);
  if (!r) return 0;
  int n = 0;
  const pixman_box32_t* boxes = r->Rgn.Rects(&n);
  DWORD size = DWORD(sizeof(RGNDATAHEADER) + size_t(n) * sizeof(RECT));
  if (!data) return size;
  if (nCount < size) return 0;
  data->rdh.dwSize = sizeof(RGNDATAHEADER);
  data->rdh.iType = RDH_RECTANGLES;
  data->rdh.nCount = DWORD(n);
  data->rdh.nRgnSize = DWORD(size_t(n) * sizeof(RECT));
  data->rdh.rcBound = r->Rgn.Box();
  auto* out = reinterpret_cast<RECT*>(reinterpret_cast<uint8_t*>(data) + sizeof(RGNDATAHEADER));
  for (int i = 0; i < n; ++i) {
    RECT rc{boxes[i].x1, boxes[i].y1, boxes[i].x2, boxes[i].y2};
    std::memcpy(out + i, &rc, sizeof(RECT));
  }
  return size;
}

HRGN ExtCreateRegion(const XFORM* xf, DWORD nCount, const RGNDATA* data) {
  if (!data || nCount < sizeof(RGNDATAHEADER)) return nullptr;
  if (data->rdh.dwSize < sizeof(RGNDATAHEADER) || data->rdh.iType != RDH_RECTANGLES) return nullptr;
  size_t n = data->rdh.nCount;
  if (n > (size_t(nCount) - data->rdh.dwSize) / sizeof(RECT)) return nullptr;
  std::vector<RECT> rects(n);
  std::memcpy(rects.data(), reinterpret_cast<const uint8_t*>(data) + data->rdh.dwSize, n * sizeof(RECT));
  if (xf) {
    // only translations are supported: scaling and rotation need a general transform
    if (xf->eM11 != 1.0f || xf->eM22 != 1.0f || xf->eM12 != 0.0f || xf->eM21 != 0.0f) return nullptr;
    for (auto& rc : rects) OffsetRect(&rc, int(xf->eDx), int(xf->eDy));
  }
  return CreateRectsRgn(rects.data(), int(n));
}

// ---------------------------------------------------------------------------
// Clipping

int ExtSelectClipRgn(HDC hdc, HRGN hrgn, int mode) {
  TDCObj* dc = LookupDC(hdc);
  if (!dc) return ERROR;
  TRegionObj* r = LookupRegion(hrgn);
  if (!r) {
    if (mode != RGN_COPY) return ERROR;
    dc->S.HasClip = false;
    dc->S.Clip.Clear();
  } else if (mode == RGN_COPY) {
    dc->S.HasClip = true;
    dc->S.Clip = r->Rgn;
  } else {
    // combining with "no clip" works on the whole device surface
    TRgn cur;
    if (dc->S.HasClip) {
      cur = dc->S.Clip;
    } else {
      cur.SetRect(RECT{-0x4000000, -0x4000000, 0x4000000, 0x4000000});
    }
    switch (mode) {
      case RGN_AND: cur.Intersect(r->Rgn); break;
      case RGN_OR: cur.Union(r->Rgn); break;
      case RGN_XOR: cur.Xor(r->Rgn); break;
      case RGN_DIFF: cur.Subtract(r->Rgn); break;
      default: return ERROR;
    }
    dc->S.HasClip = true;
    dc->S.Clip = std::move(cur);
  }
  TRgn eff;
  if (!DeviceClip(dc, eff)) return SIMPLEREGION;
  return eff.Complexity();
}

int SelectClipRgn(HDC hdc, HRGN hrgn) { return ExtSelectClipRgn(hdc, hrgn, RGN_COPY); }

int GetClipRgn(HDC hdc, HRGN hrgn) {
  TDCObj* dc = LookupDC(hdc);
  TRegionObj* r = LookupRegion(hrgn);
  if (!dc || !r) return -1;
  if (!dc->S.HasClip) return 0;
  r->Rgn = dc->S.Clip;
  return 1;
}

int GetRandomRgn(HDC hdc, HRGN hrgn, INT i) {
  if (i != SYSRGN) return GetClipRgn(hdc, hrgn);
  TDCObj* dc = LookupDC(hdc);
  TRegionObj* r = LookupRegion(hrgn);
  if (!dc || !r) return -1;
  if (dc->HasVisRgn) {
    r->Rgn = dc->VisRgn;
  } else {
    TDrawTarget t(dc, false);
    if (!t.Valid()) return 0;
    r->Rgn.SetRect(RECT{0, 0, t.Surface().Width, t.Surface().Height});
    r->Rgn.Offset(-t.Offset().x, -t.Offset().y);
  }
  // the system region is in screen (surface) coordinates
  r->Rgn.Offset(dc->SurfaceOrigin.x, dc->SurfaceOrigin.y);
  return 1;
}

int GetClipBox(HDC hdc, LPRECT rc) {
  TDCObj* dc = LookupDC(hdc);
  if (!dc || !rc) return ERROR;
  TRgn vis;
  {
    TDrawTarget t(dc, false);
    if (!t.Valid()) {
      *rc = RECT{};
      return NULLREGION;
    }
    vis = t.Clip();
    vis.Offset(-t.Offset().x, -t.Offset().y);
  }
  RECT box = vis.Box();
  int dx = dc->S.WindowOrg.x - dc->S.ViewportOrg.x, dy = dc->S.WindowOrg.y - dc->S.ViewportOrg.y;
  if (!vis.Empty()) OffsetRect(&box, dx, dy);
  *rc = box;
  return vis.Complexity();
}

namespace {
int ClipWithRect(HDC hdc, int left, int top, int right, int bottom, int mode) {
  TDCObj* dc = LookupDC(hdc);
  if (!dc) return ERROR;
  RECT r = ToDevice(dc, Normalized(left, top, right, bottom));
  TRgn rr(r);
  if (!dc->S.HasClip) {
    // the clip starts as the whole surface
    TDrawTarget t(dc, false);
    TRgn whole;
    if (t.Valid()) {
      whole.SetRect(RECT{0, 0, t.Surface().Width, t.Surface().Height});
      whole.Offset(-t.Offset().x, -t.Offset().y);
    }
    dc->S.Clip = std::move(whole);
    dc->S.HasClip = true;
  }
  if (mode == RGN_AND) dc->S.Clip.Intersect(rr);
  else dc->S.Clip.Subtract(rr);
  TRgn eff;
  DeviceClip(dc, eff);
  return eff.Complexity();
}
}  // namespace

int IntersectClipRect(HDC hdc, int left, int top, int right, int bottom) {
  return ClipWithRect(hdc, left, top, right, bottom, RGN_AND);
}

int ExcludeClipRect(HDC hdc, int left, int top, int right, int bottom) {
  return ClipWithRect(hdc, left, top, right, bottom, RGN_DIFF);
}

int OffsetClipRgn(HDC hdc, int x, int y) {
  TDCObj* dc = LookupDC(hdc);
  if (!dc) return ERROR;
  if (!dc->S.HasClip) return SIMPLEREGION;
  dc->S.Clip.Offset(x, y);
  return dc->S.Clip.Complexity();
}

BOOL RectVisible(HDC hdc, const RECT* rc) {
  TDCObj* dc = LookupDC(hdc);
  if (!dc || !rc) return 0;
  TDrawTarget t(dc, false);
  if (!t.Valid()) return 0;
  RECT r = ToDevice(dc, Normalized(rc->left, rc->top, rc->right, rc->bottom));
  OffsetRect(&r, t.Offset().x, t.Offset().y);
  return t.Clip().Overlaps(r) ? 1 : 0;
}

BOOL PtVisible(HDC hdc, int x, int y) {
  TDCObj* dc = LookupDC(hdc);
  if (!dc) return 0;
  TDrawTarget t(dc, false);
  if (!t.Valid()) return 0;
  POINT p = ToDevice(dc, x, y);
  return t.Visible(p.x + t.Offset().x, p.y + t.Offset().y) ? 1 : 0;
}

}  // namespace win
