// The GDI+ flat API subset on our rasterizer (see GdiPlus.h).
#include "platform/win/GdiPlus.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/classes/ComStreams.h"
#include "platform/rtl/CodePages.h"
#include "platform/win/Gdi.h"
#include "platform/win/GdiInternal.h"
#include "platform/win/GdiRaster.h"
#include "platform/win/ImageCodecs.h"

namespace win::gdiplus {

// ---------------------------------------------------------------------------
// Objects

enum TKind : int { kImage, kSolid, kLine, kTexture, kHatch, kPen, kGraphics, kAttributes, kCached };

namespace {

std::mutex& RegistryLock() {
  static std::mutex m;
  return m;
}
std::unordered_map<const void*, TKind>& Registry() {
  static std::unordered_map<const void*, TKind> r;
  return r;
}
void Enter(const void* p, TKind k) {
  std::lock_guard<std::mutex> l(RegistryLock());
  Registry()[p] = k;
}
void Leave(const void* p) {
  std::lock_guard<std::mutex> l(RegistryLock());
  Registry().erase(p);
}
bool IsKind(const void* p, TKind k) {
  if (!p) return false;
  std::lock_guard<std::mutex> l(RegistryLock());
  auto it = Registry().find(p);
  return it != Registry().end() && it->second == k;
}
bool IsBrush(const void* p, TKind* kind) {
  if (!p) return false;
  std::lock_guard<std::mutex> l(RegistryLock());
  auto it = Registry().find(p);
  if (it == Registry().end()) return false;
  if (it->second != kSolid && it->second != kLine && it->second != kTexture && it->second != kHatch)
    return false;
  *kind = it->second;
  return true;
}

// --- colours ---------------------------------------------------------------

inline uint32_t A(uint32_t p) { return p >> 24; }
inline uint32_t Mul255(uint32_t a, uint32_t b) { return (a * b + 127) / 255; }

uint32_t Premultiply(ARGB c) {
  uint32_t a = A(c);
  if (a == 255) return c;
  if (a == 0) return 0;
  return (a << 24) | (Mul255((c >> 16) & 0xFF, a) << 16) | (Mul255((c >> 8) & 0xFF, a) << 8) |
         Mul255(c & 0xFF, a);
}
ARGB Unpremultiply(uint32_t p) {
  uint32_t a = A(p);
  if (a == 255) return p;
  if (a == 0) return 0;
  auto un = [a](uint32_t v) { return std::min<uint32_t>(255, (v * 255 + a / 2) / a); };
  return (a << 24) | (un((p >> 16) & 0xFF) << 16) | (un((p >> 8) & 0xFF) << 8) | un(p & 0xFF);
}
// Source over destination, both premultiplied.
inline uint32_t Over(uint32_t s, uint32_t d) {
  uint32_t sa = A(s);
  if (sa == 255) return s;
  if (sa == 0) return d;
  uint32_t k = 255 - sa;
  uint32_t out = 0;
  for (int sh = 0; sh < 32; sh += 8) {
    uint32_t v = ((s >> sh) & 0xFF) + Mul255((d >> sh) & 0xFF, k);
    out |= std::min<uint32_t>(v, 255) << sh;
  }
  return out;
}

// --- bitmaps ---------------------------------------------------------------

bool Supported(PixelFormat f) {
  return f == PixelFormat32bppPARGB || f == PixelFormat32bppARGB || f == PixelFormat32bppRGB ||
         f == PixelFormat24bppRGB;
}
int BytesPerPixel(PixelFormat f) { return f == PixelFormat24bppRGB ? 3 : 4; }

// A pixel of the given format read as premultiplied ARGB, and written from it.
uint32_t ReadPixel(const BYTE* p, PixelFormat f) {
  switch (f) {
    case PixelFormat24bppRGB:
      return 0xFF000000u | (uint32_t(p[2]) << 16) | (uint32_t(p[1]) << 8) | p[0];
    default: {
      uint32_t v;
      std::memcpy(&v, p, 4);
      if (f == PixelFormat32bppRGB) return v | 0xFF000000u;
      if (f == PixelFormat32bppARGB) return Premultiply(v);
      return v;
    }
  }
}
void WritePixel(BYTE* p, PixelFormat f, uint32_t pargb) {
  switch (f) {
    case PixelFormat24bppRGB: {
      ARGB c = Unpremultiply(pargb);  // over nothing: the colour as it is
      p[0] = BYTE(c);
      p[1] = BYTE(c >> 8);
      p[2] = BYTE(c >> 16);
      return;
    }
    default: {
      uint32_t v = pargb;
      if (f == PixelFormat32bppARGB) v = Unpremultiply(pargb);
      if (f == PixelFormat32bppRGB) v = Unpremultiply(pargb) | 0xFF000000u;
      std::memcpy(p, &v, 4);
    }
  }
}

struct TBitmap final : GpBitmap {
  int W = 0, H = 0;
  PixelFormat Format = PixelFormat32bppPARGB;
  BYTE* Scan0 = nullptr;
  ptrdiff_t Stride = 0;
  std::vector<BYTE> Own;  // the pixels, unless they are the caller's (Scan0 given)
  // BitmapLockBits state
  bool Locked = false;
  bool LockDirect = false;
  UINT LockFlags = 0;
  GpRect LockRect{};
  PixelFormat LockFormat = 0;
  std::vector<BYTE> LockBuffer;

  BYTE* At(int x, int y) const { return Scan0 + y * Stride + ptrdiff_t(x) * BytesPerPixel(Format); }
  uint32_t Get(int x, int y) const { return ReadPixel(At(x, y), Format); }
  // The pixel as straight ARGB, exact for formats that store it so.
  ARGB GetStraight(int x, int y) const {
    if (Format == PixelFormat32bppARGB || Format == PixelFormat32bppRGB) {
      uint32_t v;
      std::memcpy(&v, At(x, y), 4);
      return Format == PixelFormat32bppRGB ? v | 0xFF000000u : v;
    }
    return Unpremultiply(Get(x, y));
  }
  void Set(int x, int y, uint32_t pargb) { WritePixel(At(x, y), Format, pargb); }
};

TBitmap* NewBitmap(int w, int h, PixelFormat f) {
  if (w <= 0 || h <= 0 || !Supported(f) || int64_t(w) * h > MaxImagePixels) return nullptr;
  auto* b = new TBitmap();
  b->W = w;
  b->H = h;
  b->Format = f;
  b->Stride = (ptrdiff_t(w) * BytesPerPixel(f) + 3) & ~ptrdiff_t(3);
  b->Own.assign(size_t(b->Stride) * size_t(h), 0);
  b->Scan0 = b->Own.data();
  Enter(static_cast<GpImage*>(b), kImage);
  return b;
}

TBitmap* AsBitmap(const GpImage* image) {
  return IsKind(image, kImage) ? static_cast<TBitmap*>(static_cast<GpBitmap*>(const_cast<GpImage*>(image)))
                               : nullptr;
}

// --- brushes ---------------------------------------------------------------

struct TBrushData {
  GpBrushType Type = BrushTypeSolidColor;
  ARGB Color = 0;  // solid
  GpRectF Rect{};  // gradient
  ARGB Colors[2]{};
  LinearGradientMode Mode = LinearGradientModeHorizontal;
  GpPointF P1{}, P2{};  // gradient between points (GdipCreateLineBrushI)
  bool ByPoints = false;
  GpWrapMode Wrap = WrapModeTile;
  std::shared_ptr<std::vector<uint32_t>> Texture;  // premultiplied
  int TexW = 0, TexH = 0;
  GpHatchStyle Hatch = HatchStyleHorizontal;  // hatch
  ARGB Fore = 0, Back = 0;
};

template <class Base>
struct TBrushObj final : Base {
  TBrushData D;
};

TBrushData* BrushData(GpBrush* b) {
  TKind k;
  if (!IsBrush(b, &k)) return nullptr;
  switch (k) {
    case kSolid:
      return &static_cast<TBrushObj<GpSolidFill>*>(static_cast<GpSolidFill*>(b))->D;
    case kLine:
      return &static_cast<TBrushObj<GpLineGradient>*>(static_cast<GpLineGradient*>(b))->D;
    case kTexture:
      return &static_cast<TBrushObj<GpTexture>*>(static_cast<GpTexture*>(b))->D;
    default:
      return &static_cast<TBrushObj<GpHatch>*>(static_cast<GpHatch*>(b))->D;
  }
}

GpBrush* NewBrush(const TBrushData& d) {
  switch (d.Type) {
    case BrushTypeLinearGradient: {
      auto* o = new TBrushObj<GpLineGradient>();
      o->D = d;
      Enter(static_cast<GpBrush*>(o), kLine);
      return o;
    }
    case BrushTypeTextureFill: {
      auto* o = new TBrushObj<GpTexture>();
      o->D = d;
      Enter(static_cast<GpBrush*>(o), kTexture);
      return o;
    }
    case BrushTypeHatchFill: {
      auto* o = new TBrushObj<GpHatch>();
      o->D = d;
      Enter(static_cast<GpBrush*>(o), kHatch);
      return o;
    }
    default: {
      auto* o = new TBrushObj<GpSolidFill>();
      o->D = d;
      Enter(static_cast<GpBrush*>(o), kSolid);
      return o;
    }
  }
}

void DeleteBrushObject(GpBrush* b, TKind k) {
  Leave(b);
  switch (k) {
    case kSolid:
      delete static_cast<TBrushObj<GpSolidFill>*>(static_cast<GpSolidFill*>(b));
      break;
    case kLine:
      delete static_cast<TBrushObj<GpLineGradient>*>(static_cast<GpLineGradient*>(b));
      break;
    case kTexture:
      delete static_cast<TBrushObj<GpTexture>*>(static_cast<GpTexture*>(b));
      break;
    default:
      delete static_cast<TBrushObj<GpHatch>*>(static_cast<GpHatch*>(b));
      break;
  }
}

// Wraps a coordinate into [0, n) by the wrap mode's tiling (flipping every
// other tile when asked); -1 for clamp outside.
int WrapIndex(int v, int n, bool flip, bool clamp) {
  if (n <= 0) return -1;
  if (clamp) return v >= 0 && v < n ? v : -1;
  int64_t q = gdi::FloorDiv(v, n);
  int r = int(int64_t(v) - q * n);
  if (flip && (q & 1)) r = n - 1 - r;
  return r;
}

ARGB Lerp(ARGB a, ARGB b, double t) {
  ARGB out = 0;
  for (int sh = 0; sh < 32; sh += 8) {
    double va = (a >> sh) & 0xFF, vb = (b >> sh) & 0xFF;
    int v = int(std::lround(va + (vb - va) * t));
    out |= uint32_t(std::clamp(v, 0, 255)) << sh;
  }
  return out;
}

// The brush's premultiplied colour at the pixel (x, y) of the graphics.
uint32_t BrushPixel(const TBrushData& d, int x, int y) {
  switch (d.Type) {
    case BrushTypeSolidColor:
      return Premultiply(d.Color);
    case BrushTypeHatchFill: {
      const BYTE* rows = gdi::HatchRows(int(d.Hatch) % 6);
      bool on = rows[y & 7] & (0x80 >> (x & 7));
      return Premultiply(on ? d.Fore : d.Back);
    }
    case BrushTypeTextureFill: {
      bool clamp = d.Wrap == WrapModeClamp;
      int tx = WrapIndex(x, d.TexW, d.Wrap == WrapModeTileFlipX || d.Wrap == WrapModeTileFlipXY, clamp);
      int ty = WrapIndex(y, d.TexH, d.Wrap == WrapModeTileFlipY || d.Wrap == WrapModeTileFlipXY, clamp);
      if (tx < 0 || ty < 0) return 0;
      return (*d.Texture)[size_t(ty) * size_t(d.TexW) + size_t(tx)];
    }
    case BrushTypeLinearGradient: {
      double px = x + 0.5, py = y + 0.5, t;
      if (d.ByPoints) {
        double vx = d.P2.X - d.P1.X, vy = d.P2.Y - d.P1.Y, len2 = vx * vx + vy * vy;
        t = len2 > 0 ? ((px - d.P1.X) * vx + (py - d.P1.Y) * vy) / len2 : 0;
      } else {
        double w = d.Rect.Width, h = d.Rect.Height;
        double u = w != 0 ? (px - d.Rect.X) / w : 0, v = h != 0 ? (py - d.Rect.Y) / h : 0;
        switch (d.Mode) {
          case LinearGradientModeVertical:
            t = v;
            break;
          case LinearGradientModeForwardDiagonal:
            t = (u + v) / 2;
            break;
          case LinearGradientModeBackwardDiagonal:
            t = ((1 - u) + v) / 2;
            break;
          default:
            t = u;
            break;
        }
      }
      if (d.Wrap == WrapModeClamp) {
        t = std::clamp(t, 0.0, 1.0);
      } else {
        double q = std::floor(t);
        t -= q;
        bool flip = d.Wrap != WrapModeTile && (int64_t(q) & 1);
        if (flip) t = 1 - t;
      }
      return Premultiply(Lerp(d.Colors[0], d.Colors[1], t));
    }
    default:
      return 0;
  }
}

}  // namespace

// ---------------------------------------------------------------------------
// Pens, graphics, attributes, cached bitmaps

class GpPen {
 public:
  REAL Width = 1;
  GpUnit Unit = UnitWorld;
  GpPenAlignment Alignment = PenAlignmentCenter;
  TBrushData Brush;
};

class GpGraphics {
 public:
  HDC Dc = nullptr;
  GpImage* Image = nullptr;
  InterpolationMode Interpolation = InterpolationModeBilinear;
  SmoothingMode Smoothing = SmoothingModeNone;
  PixelOffsetMode PixelOffset = PixelOffsetModeNone;
  CompositingMode Compositing = CompositingModeSourceOver;
  CompositingQuality Quality = CompositingQualityDefault;
  // GdipGetDC of an image graphics: a DC over a copy of the pixels
  HDC TempDC = nullptr;
  HBITMAP TempBitmap = nullptr;
  HGDIOBJ TempOld = nullptr;
  std::vector<uint32_t> Snapshot;
};

class GpImageAttributes {
 public:
  bool HasMatrix = false;
  ColorMatrix Matrix{};
};

class GpCachedBitmap {
 public:
  int W = 0, H = 0;
  std::vector<uint32_t> Pixels;  // premultiplied
};

namespace {

GpGraphics* AsGraphics(GpGraphics* g) { return IsKind(g, kGraphics) ? g : nullptr; }

// --- painting spans --------------------------------------------------------

using gdi::TSpans;

// Paints the spans (graphics coordinates) with the colour function under the
// graphics' compositing mode, clipped to the target.
template <class F>
void PaintSpans(GpGraphics* g, const TSpans& spans, F&& colour) {
  bool copy = g->Compositing == CompositingModeSourceCopy;
  if (g->Image) {
    TBitmap* b = AsBitmap(g->Image);
    if (!b) return;
    for (const auto& s : spans) {
      if (s.y < 0 || s.y >= b->H) continue;
      int x0 = std::max(s.x0, 0), x1 = std::min(s.x1, b->W);
      for (int x = x0; x < x1; ++x) {
        uint32_t c = colour(x, s.y);
        b->Set(x, s.y, copy ? c : Over(c, b->Get(x, s.y)));
      }
    }
    return;
  }
  gdi::TDCObj* dc = gdi::LookupDC(g->Dc);
  if (!dc) return;
  gdi::TDrawTarget t(dc);
  if (!t.Valid()) return;
  POINT dev = gdi::ToDevice(dc, 0, 0);
  int dx = dev.x + t.Offset().x, dy = dev.y + t.Offset().y;
  const gdi::TSurface& surf = t.Surface();
  for (const auto& s : spans) {
    int sy = s.y + dy;
    if (sy < 0 || sy >= surf.Height) continue;
    uint32_t* row = surf.Row(sy);
    t.ClipSpan(sy, s.x0 + dx, s.x1 + dx, [&](int l, int r) {
      for (int sx = l; sx < r; ++sx) {
        uint32_t c = colour(sx - dx, s.y);
        uint32_t out = copy ? c : Over(c, row[sx]);
        if (t.Mono()) out = gdi::MonoPixel(gdi::PixelToColor(out));
        row[sx] = out;
      }
    });
  }
}

void RectSpans(int x, int y, int w, int h, TSpans& out) {
  if (w <= 0 || h <= 0) return;
  long long y1 = std::min<long long>((long long)y + h, gdi::LimitCoord);
  long long x1 = std::min<long long>((long long)x + w, gdi::LimitCoord);
  int yy = std::max(y, -gdi::LimitCoord), xx = std::max(x, -gdi::LimitCoord);
  for (long long r = yy; r < y1; ++r) out.push_back({int(r), xx, int(x1)});
}

// Limits span lists to the target's extent so hostile sizes cost nothing.
RECT TargetBox(GpGraphics* g) {
  RECT r{-gdi::LimitCoord, -gdi::LimitCoord, gdi::LimitCoord, gdi::LimitCoord};
  if (g->Image) {
    if (TBitmap* b = AsBitmap(g->Image)) r = RECT{0, 0, b->W, b->H};
  } else if (gdi::TDCObj* dc = gdi::LookupDC(g->Dc)) {
    // the DC's clip, in graphics coordinates
    gdi::TDrawTarget t(dc, false);
    RECT box = t.Clip().Box();
    POINT dev = gdi::ToDevice(dc, 0, 0);
    int64_t dx = int64_t(dev.x) + t.Offset().x, dy = int64_t(dev.y) + t.Offset().y;
    auto c = [](int64_t v) { return int(std::clamp<int64_t>(v, -gdi::LimitCoord, gdi::LimitCoord)); };
    r = RECT{c(box.left - dx), c(box.top - dy), c(box.right - dx), c(box.bottom - dy)};
  }
  return r;
}
void TargetBounds(GpGraphics* g, int& yLo, int& yHi) {
  RECT r = TargetBox(g);
  yLo = r.top;
  yHi = r.bottom;
}

// Cuts the segment to the box (Liang-Barsky); false when nothing is left.
bool ClipSegment(double& ax, double& ay, double& bx, double& by, double l, double t, double r, double b) {
  double t0 = 0, t1 = 1, dx = bx - ax, dy = by - ay;
  auto edge = [&](double p, double q) {
    if (p == 0) return q >= 0;
    double u = q / p;
    if (p < 0) {
      if (u > t1) return false;
      t0 = std::max(t0, u);
    } else {
      if (u < t0) return false;
      t1 = std::min(t1, u);
    }
    return true;
  };
  if (!edge(-dx, ax - l) || !edge(dx, r - ax) || !edge(-dy, ay - t) || !edge(dy, b - ay)) return false;
  double nax = ax + t0 * dx, nay = ay + t0 * dy;
  bx = ax + t1 * dx;
  by = ay + t1 * dy;
  ax = nax;
  ay = nay;
  return true;
}

GpStatus FillSpans(GpGraphics* g, const TBrushData& d, const TSpans& spans) {
  PaintSpans(g, spans, [&](int x, int y) { return BrushPixel(d, x, y); });
  return Ok;
}

// --- strokes ---------------------------------------------------------------

// The pixels a pen covers along the polyline: one-pixel lines for thin pens
// (both end points drawn), quads of the pen's width for wider ones.
void StrokeSpans(const GpPen* pen, const std::vector<GpPointF>& pts, bool closed, TSpans& out,
                 const RECT& box) {
  int yLo = box.top, yHi = box.bottom;
  size_t n = pts.size();
  if (n == 0) return;
  double w = pen->Width <= 1.5f ? 1.0 : double(pen->Width);
  auto clampD = [](double v) { return std::clamp(v, -double(gdi::LimitCoord), double(gdi::LimitCoord)); };
  size_t segs = closed ? n : n - 1;
  if (n == 1) segs = 0;
  for (size_t i = 0; i < segs; ++i) {
    GpPointF a = pts[i], b = pts[(i + 1) % n];
    double ax = clampD(a.X), ay = clampD(a.Y), bx = clampD(b.X), by = clampD(b.Y);
    double m = w + 2;  // the part of the segment that can reach the target
    if (!ClipSegment(ax, ay, bx, by, box.left - m, box.top - m, box.right + m, box.bottom + m)) continue;
    if (w <= 1.0) {
      double dx = bx - ax, dy = by - ay;
      int steps = int(std::max(std::fabs(dx), std::fabs(dy)));
      steps = std::min(steps, 4 * gdi::LimitCoord);
      for (int k = 0; k <= steps; ++k) {
        double t = steps ? double(k) / steps : 0;
        int x = int(std::lround(ax + dx * t)), y = int(std::lround(ay + dy * t));
        if (y >= yLo && y < yHi) out.push_back({y, x, x + 1});
      }
    } else {
      double dx = bx - ax, dy = by - ay, len = std::hypot(dx, dy);
      double nx = len > 0 ? -dy / len * w / 2 : w / 2, ny = len > 0 ? dx / len * w / 2 : 0;
      double ex = len > 0 ? dx / len * w / 2 : 0, ey = len > 0 ? dy / len * w / 2 : w / 2;
      // extended by half the width at both ends, so that joints close
      POINT q[4] = {{int(std::lround(ax + nx - ex)), int(std::lround(ay + ny - ey))},
                    {int(std::lround(bx + nx + ex)), int(std::lround(by + ny + ey))},
                    {int(std::lround(bx - nx + ex)), int(std::lround(by - ny + ey))},
                    {int(std::lround(ax - nx - ex)), int(std::lround(ay - ny - ey))}};
      int count = 4;
      gdi::PolygonSpans(q, &count, 1, WINDING, out, yLo, yHi);
    }
  }
  if (segs == 0) {
    int x = int(std::lround(clampD(pts[0].X))), y = int(std::lround(clampD(pts[0].Y)));
    if (y >= yLo && y < yHi) out.push_back({y, x, x + 1});
  }
}

// Paints spans that may overlap once each (through a region).
template <class F>
void PaintUnion(GpGraphics* g, TSpans& spans, F&& colour) {
  gdi::TRgn rgn;
  rgn.SetSpans(spans);
  int n = 0;
  const pixman_box32_t* boxes = rgn.Rects(&n);
  TSpans flat;
  for (int i = 0; i < n; ++i)
    for (int y = boxes[i].y1; y < boxes[i].y2; ++y) flat.push_back({y, boxes[i].x1, boxes[i].x2});
  PaintSpans(g, flat, colour);
}

GpStatus Stroke(GpGraphics* graphics, GpPen* pen, const std::vector<GpPointF>& pts, bool closed) {
  GpGraphics* g = AsGraphics(graphics);
  if (!g || !IsKind(pen, kPen)) return InvalidParameter;
  TSpans spans;
  StrokeSpans(pen, pts, closed, spans, TargetBox(g));
  const TBrushData& d = pen->Brush;
  PaintUnion(g, spans, [&](int x, int y) { return BrushPixel(d, x, y); });
  return Ok;
}

GpStatus FillPolygonPts(GpGraphics* graphics, GpBrush* brush, const std::vector<GpPointF>& pts, int mode) {
  GpGraphics* g = AsGraphics(graphics);
  TBrushData* d = BrushData(brush);
  if (!g || !d) return InvalidParameter;
  if (pts.size() < 3) return Ok;
  std::vector<POINT> q;
  q.reserve(pts.size());
  for (const GpPointF& p : pts)
    q.push_back({int(std::lround(std::clamp(double(p.X), -1e6, 1e6))),
                 int(std::lround(std::clamp(double(p.Y), -1e6, 1e6)))});
  int yLo, yHi;
  TargetBounds(g, yLo, yHi);
  TSpans spans;
  int count = int(q.size());
  gdi::PolygonSpans(q.data(), &count, 1, mode == 1 ? WINDING : ALTERNATE, spans, yLo, yHi);
  return FillSpans(g, *d, spans);
}

// Points of an arc of the ellipse in the box: angles in degrees, clockwise
// from the positive x axis (y grows downwards).
std::vector<GpPointF> ArcPoints(double x, double y, double w, double h, double start, double sweep) {
  std::vector<GpPointF> pts;
  sweep = std::clamp(sweep, -360.0, 360.0);
  int n = std::max(2, int(std::ceil(std::fabs(sweep) / 6)) + 1);
  double cx = x + w / 2, cy = y + h / 2;
  for (int i = 0; i < n; ++i) {
    double a = (start + sweep * i / (n - 1)) * M_PI / 180;
    pts.push_back({REAL(cx + w / 2 * std::cos(a)), REAL(cy + h / 2 * std::sin(a))});
  }
  return pts;
}

void BezierPoints(GpPointF p0, GpPointF p1, GpPointF p2, GpPointF p3, std::vector<GpPointF>& out,
                  bool first) {
  const int n = 16;
  for (int i = first ? 0 : 1; i <= n; ++i) {
    double t = double(i) / n, u = 1 - t;
    double a = u * u * u, b = 3 * u * u * t, c = 3 * u * t * t, d = t * t * t;
    out.push_back(
        {REAL(a * p0.X + b * p1.X + c * p2.X + d * p3.X), REAL(a * p0.Y + b * p1.Y + c * p2.Y + d * p3.Y)});
  }
}

// A cardinal spline through the points as flattened Bézier segments.
std::vector<GpPointF> CurvePoints(const GpPoint* points, INT count, REAL tension, bool closed) {
  std::vector<GpPointF> out;
  if (!points || count < 2) return out;
  auto P = [&](int i) {
    if (closed)
      i = ((i % count) + count) % count;
    else
      i = std::clamp(i, 0, count - 1);
    return GpPointF{REAL(points[i].X), REAL(points[i].Y)};
  };
  double k = tension / 3.0;
  int segs = closed ? count : count - 1;
  for (int i = 0; i < segs; ++i) {
    GpPointF p0 = P(i - 1), p1 = P(i), p2 = P(i + 1), p3 = P(i + 2);
    GpPointF c1{REAL(p1.X + (p2.X - p0.X) * k), REAL(p1.Y + (p2.Y - p0.Y) * k)};
    GpPointF c2{REAL(p2.X - (p3.X - p1.X) * k), REAL(p2.Y - (p3.Y - p1.Y) * k)};
    BezierPoints(p1, c1, c2, p2, out, i == 0);
  }
  return out;
}

// --- image sampling ----------------------------------------------------------

struct TTap {
  int Index;
  double Weight;
};

double Cubic(double x) {  // Keys' kernel, a = -0.5
  x = std::fabs(x);
  const double a = -0.5;
  if (x < 1) return (a + 2) * x * x * x - (a + 3) * x * x + 1;
  if (x < 2) return a * x * x * x - 5 * a * x * x + 8 * a * x - 4 * a;
  return 0;
}

// For each destination pixel along one axis, the source pixels and weights.
std::vector<std::vector<TTap>> AxisTaps(int dstLen, double srcStart, double srcLen, int imageLen,
                                        InterpolationMode mode) {
  std::vector<std::vector<TTap>> taps(size_t(std::max(dstLen, 0)));
  double scale = srcLen / dstLen;
  bool shrink = std::fabs(scale) > 1.0;
  auto clampIdx = [imageLen](long long i) { return int(std::clamp<long long>(i, 0, imageLen - 1)); };
  for (int i = 0; i < dstLen; ++i) {
    auto& t = taps[size_t(i)];
    double centre = std::clamp(srcStart + (i + 0.5) * scale, -4e9, 4e9);  // in source coordinates
    if (mode == InterpolationModeNearestNeighbor) {
      t.push_back({clampIdx((long long)std::floor(centre)), 1.0});
      continue;
    }
    bool box =
        shrink && (mode == InterpolationModeHighQuality || mode == InterpolationModeHighQualityBilinear ||
                   mode == InterpolationModeHighQualityBicubic);
    if (box) {
      double a = srcStart + i * scale, b = srcStart + (i + 1) * scale;
      if (a > b) std::swap(a, b);
      // coverage beyond the image counts for its edge pixels, so the loop
      // stays within the image whatever the rectangle
      double before = std::max(0.0, std::min(b, 0.0) - a),
             after = std::max(0.0, b - std::max(a, double(imageLen)));
      double lo = std::clamp(a, 0.0, double(imageLen)), hi = std::clamp(b, 0.0, double(imageLen));
      double sum = before + after;
      if (before > 0) t.push_back({0, before});
      if (after > 0) t.push_back({imageLen - 1, after});
      for (long long p = (long long)std::floor(lo); p < (long long)std::ceil(hi); ++p) {
        double cover = std::min<double>(hi, p + 1) - std::max<double>(lo, p);
        if (cover <= 0) continue;
        t.push_back({clampIdx(p), cover});
        sum += cover;
      }
      if (sum <= 0)
        t.assign(1,
                 TTap{clampIdx((long long)std::floor(std::clamp(centre, 0.0, double(imageLen - 1)))), 1.0});
      else
        for (auto& tap : t) tap.Weight /= sum;
      continue;
    }
    double u = centre - 0.5;
    long long base = (long long)std::floor(u);
    double f = u - base;
    bool cubic = mode == InterpolationModeBicubic || mode == InterpolationModeHighQuality ||
                 mode == InterpolationModeHighQualityBicubic;
    if (cubic) {
      for (int k = -1; k <= 2; ++k) {
        double wgt = Cubic(k - f);
        if (wgt != 0) t.push_back({clampIdx(base + k), wgt});
      }
    } else {
      t.push_back({clampIdx(base), 1 - f});
      if (f > 0) t.push_back({clampIdx(base + 1), f});
    }
  }
  return taps;
}

bool IsAlphaScaleOnly(const ColorMatrix& m, double* scale) {
  for (int r = 0; r < 5; ++r)
    for (int c = 0; c < 5; ++c) {
      if (r == 3 && c == 3) continue;
      double want = r == c ? 1.0 : 0.0;
      if (m.m[r][c] != want) return false;
    }
  *scale = m.m[3][3];
  return true;
}

uint32_t ApplyMatrix(uint32_t pargb, const ColorMatrix& m) {
  ARGB c = Unpremultiply(pargb);
  double v[5] = {((c >> 16) & 0xFF) / 255.0, ((c >> 8) & 0xFF) / 255.0, (c & 0xFF) / 255.0, (c >> 24) / 255.0,
                 1.0};
  double o[4];
  for (int col = 0; col < 4; ++col) {
    double s = 0;
    for (int r = 0; r < 5; ++r) s += v[r] * m.m[r][col];
    o[col] = std::clamp(s, 0.0, 1.0);
  }
  auto b = [](double x) { return uint32_t(std::lround(x * 255)); };
  return Premultiply((b(o[3]) << 24) | (b(o[0]) << 16) | (b(o[1]) << 8) | b(o[2]));
}

GpStatus DrawImage(GpGraphics* graphics, GpImage* image, double dx, double dy, double dw, double dh,
                   double sx, double sy, double sw, double sh, const GpImageAttributes* attrs) {
  GpGraphics* g = AsGraphics(graphics);
  TBitmap* b = AsBitmap(image);
  if (!g || !b) return InvalidParameter;
  if (attrs && !IsKind(attrs, kAttributes)) return InvalidParameter;
  if (b->Locked) return WrongState;
  if (!std::isfinite(dx + dy + dw + dh + sx + sy + sw + sh)) return InvalidParameter;
  // coordinates far beyond any picture are cut, so that no arithmetic overflows
  auto lim = [](double v) { return std::clamp(v, -1e9, 1e9); };
  dx = lim(dx), dy = lim(dy), dw = lim(dw), dh = lim(dh), sx = lim(sx), sy = lim(sy), sw = lim(sw),
  sh = lim(sh);
  if (dw < 0) {
    dx += dw;
    dw = -dw;
    sx += sw;
    sw = -sw;
  }
  if (dh < 0) {
    dy += dh;
    dh = -dh;
    sy += sh;
    sh = -sh;
  }
  int x0 = int(std::lround(std::clamp(dx, -1e6, 1e6))), y0 = int(std::lround(std::clamp(dy, -1e6, 1e6)));
  int w = int(std::lround(std::min(dw, 1e6))), h = int(std::lround(std::min(dh, 1e6)));
  if (w <= 0 || h <= 0 || sw == 0 || sh == 0) return Ok;
  // only the rows and columns the target can show are computed
  int yLo, yHi;
  TargetBounds(g, yLo, yHi);
  int rowFirst = std::max(0, yLo - y0), rowLast = std::min(h, yHi - y0);
  if (rowFirst >= rowLast) return Ok;
  if (int64_t(w) * (rowLast - rowFirst) > (int64_t(1) << 28)) return ValueOverflow;
  InterpolationMode mode =
      g->Interpolation == InterpolationModeInvalid ? InterpolationModeBilinear : g->Interpolation;
  auto cols = AxisTaps(w, sx, sw, b->W, mode);
  auto rows = AxisTaps(h, sy, sh, b->H, mode);
  double alphaScale = 1;
  bool matrix = attrs && attrs->HasMatrix;
  bool scaleOnly = matrix && IsAlphaScaleOnly(attrs->Matrix, &alphaScale);
  TSpans spans;
  for (int r = rowFirst; r < rowLast; ++r) spans.push_back({y0 + r, x0, x0 + w});
  PaintSpans(g, spans, [&](int x, int y) -> uint32_t {
    const auto& tr = rows[size_t(y - y0)];
    const auto& tc = cols[size_t(x - x0)];
    double acc[4] = {0, 0, 0, 0};
    for (const TTap& ry : tr)
      for (const TTap& cx : tc) {
        uint32_t p = b->Get(cx.Index, ry.Index);
        double wgt = ry.Weight * cx.Weight;
        acc[0] += wgt * (p & 0xFF);
        acc[1] += wgt * ((p >> 8) & 0xFF);
        acc[2] += wgt * ((p >> 16) & 0xFF);
        acc[3] += wgt * (p >> 24);
      }
    uint32_t a = uint32_t(std::clamp<long>(std::lround(acc[3]), 0, 255));
    uint32_t out = a << 24;
    for (int k = 0; k < 3; ++k) out |= uint32_t(std::clamp<long>(std::lround(acc[k]), 0, long(a))) << (8 * k);
    if (matrix) {
      if (scaleOnly) {
        double s = std::clamp(alphaScale, 0.0, 1.0);
        uint32_t scaled = 0;
        for (int sh2 = 0; sh2 < 32; sh2 += 8)
          scaled |= uint32_t(std::lround(((out >> sh2) & 0xFF) * s)) << sh2;
        out = scaled;
      } else {
        out = ApplyMatrix(out, attrs->Matrix);
      }
    }
    return out;
  });
  return Ok;
}

// --- codecs ------------------------------------------------------------------

struct TCodec {
  CLSID Clsid;
  TGUID Format;
  const WCHAR* Name;
  const WCHAR* Description;
  const WCHAR* Extension;
  const WCHAR* Mime;
  BYTE Sig[8];
  BYTE Mask[8];
  DWORD SigSize;
};

const TCodec Codecs[] = {
    {CLSID_BmpEncoder,
     GUIDConst("{B96B3CAB-0728-11D3-9D7B-0000F81EF32E}"),
     u"Built-in BMP Codec",
     u"BMP",
     u"*.BMP;*.DIB;*.RLE",
     u"image/bmp",
     {0x42, 0x4D},
     {0xFF, 0xFF},
     2},
    {CLSID_JpegEncoder,
     GUIDConst("{B96B3CAE-0728-11D3-9D7B-0000F81EF32E}"),
     u"Built-in JPEG Codec",
     u"JPEG",
     u"*.JPG;*.JPEG;*.JPE;*.JFIF",
     u"image/jpeg",
     {0xFF, 0xD8},
     {0xFF, 0xFF},
     2},
    {CLSID_PngEncoder,
     GUIDConst("{B96B3CAF-0728-11D3-9D7B-0000F81EF32E}"),
     u"Built-in PNG Codec",
     u"PNG",
     u"*.PNG",
     u"image/png",
     {0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A},
     {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF},
     8},
};
constexpr UINT CodecCount = 3;

// A bitmap from an HBITMAP's pixels read as 32-bit colours (alpha ignored).
TBitmap* BitmapFromHBITMAP(HBITMAP hbm) {
  BITMAP bm{};
  if (!hbm || GetObjectW(hbm, sizeof bm, &bm) == 0 || bm.bmWidth <= 0 || bm.bmHeight == 0) return nullptr;
  int w = bm.bmWidth, h = std::abs(bm.bmHeight);
  TBitmap* b = NewBitmap(w, h, PixelFormat32bppRGB);
  if (!b) return nullptr;
  BITMAPINFO bi = gdi::Dib32Info(w, h);
  HDC screen = GetDC(nullptr);
  int got = GetDIBits(screen, hbm, 0, UINT(h), b->Scan0, &bi, DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  if (got == 0) {
    Leave(static_cast<GpImage*>(b));
    delete b;
    return nullptr;
  }
  return b;
}

GpStatus Decode(const std::vector<uint8_t>& data, GpBitmap** out) {
  *out = nullptr;
  if (data.size() < 2) return UnknownImageFormat;
  try {
    if (data.size() >= 8 && std::memcmp(data.data(), Codecs[2].Sig, 8) == 0) {
      TDecodedImage img = DecodePng(data.data(), data.size());
      TBitmap* b =
          NewBitmap(img.Width, img.Height, img.HasAlpha ? PixelFormat32bppARGB : PixelFormat32bppRGB);
      if (!b) return OutOfMemory;
      for (int y = 0; y < img.Height; ++y)
        std::memcpy(b->At(0, y), &img.Pixels[size_t(y) * size_t(img.Width)], size_t(img.Width) * 4);
      *out = b;
      return Ok;
    }
    if (data[0] == 0xFF && data[1] == 0xD8) {
      TDecodedImage img = DecodeJpeg(data.data(), data.size());
      TBitmap* b = NewBitmap(img.Width, img.Height, PixelFormat32bppRGB);
      if (!b) return OutOfMemory;
      for (int y = 0; y < img.Height; ++y)
        std::memcpy(b->At(0, y), &img.Pixels[size_t(y) * size_t(img.Width)], size_t(img.Width) * 4);
      *out = b;
      return Ok;
    }
    if (data[0] == 'B' && data[1] == 'M') {
      HBITMAP hbm = ReadBmpFile(data.data(), data.size());
      TBitmap* b = BitmapFromHBITMAP(hbm);
      DeleteObject(hbm);
      if (!b) return InvalidParameter;
      *out = b;
      return Ok;
    }
  } catch (const std::bad_alloc&) {
    return OutOfMemory;
  } catch (...) {
    return InvalidParameter;  // truncated or malformed data
  }
  return UnknownImageFormat;
}

// Everything left in the stream from its position (at most 256 MiB).
bool ReadAll(IStream* stream, std::vector<uint8_t>& out) {
  constexpr size_t Limit = size_t(256) << 20;
  uint8_t chunk[65536];
  for (;;) {
    uint32_t got = 0;
    HRESULT hr = stream->Read(chunk, sizeof chunk, &got);
    if (got > 0) {
      if (out.size() + got > Limit) return false;
      out.insert(out.end(), chunk, chunk + got);
    }
    if (hr != S_OK || got == 0) return hr == S_OK || hr == S_FALSE;
  }
}

bool ReadFileBytes(const WCHAR* filename, std::vector<uint8_t>& out) {
  if (!filename) return false;
  std::string path = UTF16ToUTF8(std::u16string(filename));
  std::ifstream f(path, std::ios::binary);
  if (!f) return false;
  f.seekg(0, std::ios::end);
  std::streamoff n = f.tellg();
  if (n < 0 || n > (std::streamoff(256) << 20)) return false;
  f.seekg(0);
  out.resize(size_t(n));
  return n == 0 || bool(f.read(reinterpret_cast<char*>(out.data()), n));
}

std::vector<uint32_t> Straight(const TBitmap* b) {
  std::vector<uint32_t> px(size_t(b->W) * size_t(b->H));
  for (int y = 0; y < b->H; ++y)
    for (int x = 0; x < b->W; ++x) px[size_t(y) * size_t(b->W) + size_t(x)] = b->GetStraight(x, y);
  return px;
}

bool HasAlphaFormat(PixelFormat f) { return f == PixelFormat32bppARGB || f == PixelFormat32bppPARGB; }

TBitmap* CloneArea(TBitmap* src, int x, int y, int w, int h, PixelFormat f) {
  if (f == PixelFormatDontCare) f = src->Format;
  if (x < 0 || y < 0 || w <= 0 || h <= 0 || x > src->W - w || y > src->H - h) return nullptr;
  TBitmap* b = NewBitmap(w, h, f);
  if (!b) return nullptr;
  for (int yy = 0; yy < h; ++yy)
    for (int xx = 0; xx < w; ++xx) b->Set(xx, yy, src->Get(x + xx, y + yy));
  return b;
}

std::atomic<int> StartupCount{0};

GpStatus HookProc(ULONG_PTR* token) {
  if (!token) return InvalidParameter;
  *token = 1;
  return Ok;
}
void UnhookProc(ULONG_PTR) {}

}  // namespace

// ---------------------------------------------------------------------------
// Start-up and memory

GpStatus GdiplusStartup(ULONG_PTR* token, const GdiplusStartupInput* input, GdiplusStartupOutput* output) {
  if (!token || !input) return InvalidParameter;
  if (input->GdiplusVersion < 1 || input->GdiplusVersion > 3) return UnsupportedGdiplusVersion;
  if (input->SuppressBackgroundThread) {
    if (!output) return InvalidParameter;
    output->NotificationHook = &HookProc;
    output->NotificationUnhook = &UnhookProc;
  }
  *token = ULONG_PTR(++StartupCount);
  return Ok;
}

void GdiplusShutdown(ULONG_PTR) {
  if (StartupCount > 0) --StartupCount;
}

void* GdipAlloc(size_t size) { return std::malloc(size ? size : 1); }
void GdipFree(void* ptr) { std::free(ptr); }

// ---------------------------------------------------------------------------
// Brushes

GpStatus GdipCloneBrush(GpBrush* brush, GpBrush** cloneBrush) {
  TBrushData* d = BrushData(brush);
  if (!d || !cloneBrush) return InvalidParameter;
  *cloneBrush = NewBrush(*d);
  return Ok;
}

GpStatus GdipDeleteBrush(GpBrush* brush) {
  TKind k;
  if (!IsBrush(brush, &k)) return InvalidParameter;
  DeleteBrushObject(brush, k);
  return Ok;
}

GpStatus GdipGetBrushType(GpBrush* brush, GpBrushType* type) {
  TBrushData* d = BrushData(brush);
  if (!d || !type) return InvalidParameter;
  *type = d->Type;
  return Ok;
}

GpStatus GdipCreateSolidFill(ARGB color, GpSolidFill** brush) {
  if (!brush) return InvalidParameter;
  TBrushData d;
  d.Color = color;
  *brush = static_cast<GpSolidFill*>(NewBrush(d));
  return Ok;
}

GpStatus GdipSetSolidFillColor(GpSolidFill* brush, ARGB color) {
  if (!IsKind(static_cast<GpBrush*>(brush), kSolid)) return InvalidParameter;
  BrushData(brush)->Color = color;
  return Ok;
}

GpStatus GdipGetSolidFillColor(GpSolidFill* brush, ARGB* color) {
  if (!IsKind(static_cast<GpBrush*>(brush), kSolid) || !color) return InvalidParameter;
  *color = BrushData(brush)->Color;
  return Ok;
}

GpStatus GdipCreateLineBrushFromRect(const GpRectF* rect, ARGB color1, ARGB color2, LinearGradientMode mode,
                                     GpWrapMode wrapMode, GpLineGradient** lineGradient) {
  if (!rect || !lineGradient || rect->Width == 0 || rect->Height == 0 || int(mode) < 0 || int(mode) > 3 ||
      int(wrapMode) < 0 || int(wrapMode) > 3)
    return InvalidParameter;
  TBrushData d;
  d.Type = BrushTypeLinearGradient;
  d.Rect = *rect;
  d.Colors[0] = color1;
  d.Colors[1] = color2;
  d.Mode = mode;
  d.Wrap = wrapMode;
  *lineGradient = static_cast<GpLineGradient*>(NewBrush(d));
  return Ok;
}

GpStatus GdipCreateLineBrushFromRectI(const GpRect* rect, ARGB color1, ARGB color2, LinearGradientMode mode,
                                      GpWrapMode wrapMode, GpLineGradient** lineGradient) {
  if (!rect) return InvalidParameter;
  GpRectF r{REAL(rect->X), REAL(rect->Y), REAL(rect->Width), REAL(rect->Height)};
  return GdipCreateLineBrushFromRect(&r, color1, color2, mode, wrapMode, lineGradient);
}

GpStatus GdipCreateLineBrushI(const GpPoint* point1, const GpPoint* point2, ARGB color1, ARGB color2,
                              GpWrapMode wrapMode, GpLineGradient** lineGradient) {
  if (!point1 || !point2 || !lineGradient || int(wrapMode) < 0 || int(wrapMode) > 3) return InvalidParameter;
  if (point1->X == point2->X && point1->Y == point2->Y) return OutOfMemory;  // the platform's answer
  TBrushData d;
  d.Type = BrushTypeLinearGradient;
  d.ByPoints = true;
  d.P1 = {REAL(point1->X), REAL(point1->Y)};
  d.P2 = {REAL(point2->X), REAL(point2->Y)};
  d.Rect = {std::min(d.P1.X, d.P2.X), std::min(d.P1.Y, d.P2.Y), std::fabs(d.P2.X - d.P1.X),
            std::fabs(d.P2.Y - d.P1.Y)};
  d.Colors[0] = color1;
  d.Colors[1] = color2;
  d.Wrap = wrapMode;
  *lineGradient = static_cast<GpLineGradient*>(NewBrush(d));
  return Ok;
}

GpStatus GdipGetLineRectI(GpLineGradient* brush, GpRect* rect) {
  if (!IsKind(static_cast<GpBrush*>(brush), kLine) || !rect) return InvalidParameter;
  const GpRectF& r = BrushData(brush)->Rect;
  *rect = {int(std::lround(r.X)), int(std::lround(r.Y)), int(std::lround(r.Width)),
           int(std::lround(r.Height))};
  return Ok;
}

GpStatus GdipSetLineColors(GpLineGradient* brush, ARGB color1, ARGB color2) {
  if (!IsKind(static_cast<GpBrush*>(brush), kLine)) return InvalidParameter;
  BrushData(brush)->Colors[0] = color1;
  BrushData(brush)->Colors[1] = color2;
  return Ok;
}

GpStatus GdipGetLineColors(GpLineGradient* brush, ARGB* colors) {
  if (!IsKind(static_cast<GpBrush*>(brush), kLine) || !colors) return InvalidParameter;
  colors[0] = BrushData(brush)->Colors[0];
  colors[1] = BrushData(brush)->Colors[1];
  return Ok;
}

GpStatus GdipSetLineWrapMode(GpLineGradient* brush, GpWrapMode wrapmode) {
  if (!IsKind(static_cast<GpBrush*>(brush), kLine) || int(wrapmode) < 0 || int(wrapmode) > 3)
    return InvalidParameter;
  BrushData(brush)->Wrap = wrapmode;
  return Ok;
}

GpStatus GdipGetLineWrapMode(GpLineGradient* brush, GpWrapMode* wrapmode) {
  if (!IsKind(static_cast<GpBrush*>(brush), kLine) || !wrapmode) return InvalidParameter;
  *wrapmode = BrushData(brush)->Wrap;
  return Ok;
}

GpStatus GdipCreateHatchBrush(GpHatchStyle hatchstyle, ARGB forecol, ARGB backcol, GpHatch** brush) {
  if (!brush || int(hatchstyle) < 0 || int(hatchstyle) > 52) return InvalidParameter;
  TBrushData d;
  d.Type = BrushTypeHatchFill;
  d.Hatch = hatchstyle;
  d.Fore = forecol;
  d.Back = backcol;
  *brush = static_cast<GpHatch*>(NewBrush(d));
  return Ok;
}

GpStatus GdipGetHatchStyle(GpHatch* brush, GpHatchStyle* hatchstyle) {
  if (!IsKind(static_cast<GpBrush*>(brush), kHatch) || !hatchstyle) return InvalidParameter;
  *hatchstyle = BrushData(brush)->Hatch;
  return Ok;
}

GpStatus GdipGetHatchForegroundColor(GpHatch* brush, ARGB* forecol) {
  if (!IsKind(static_cast<GpBrush*>(brush), kHatch) || !forecol) return InvalidParameter;
  *forecol = BrushData(brush)->Fore;
  return Ok;
}

GpStatus GdipGetHatchBackgroundColor(GpHatch* brush, ARGB* backcol) {
  if (!IsKind(static_cast<GpBrush*>(brush), kHatch) || !backcol) return InvalidParameter;
  *backcol = BrushData(brush)->Back;
  return Ok;
}

GpStatus GdipCreateTexture2I(GpImage* image, GpWrapMode wrapmode, INT x, INT y, INT width, INT height,
                             GpTexture** texture) {
  TBitmap* b = AsBitmap(image);
  if (!b || !texture || int(wrapmode) < 0 || int(wrapmode) > 4) return InvalidParameter;
  if (x < 0 || y < 0 || width <= 0 || height <= 0 || x > b->W - width || y > b->H - height)
    return OutOfMemory;
  TBrushData d;
  d.Type = BrushTypeTextureFill;
  d.Wrap = wrapmode;
  d.TexW = width;
  d.TexH = height;
  d.Texture = std::make_shared<std::vector<uint32_t>>(size_t(width) * size_t(height));
  for (int yy = 0; yy < height; ++yy)
    for (int xx = 0; xx < width; ++xx)
      (*d.Texture)[size_t(yy) * size_t(width) + size_t(xx)] = b->Get(x + xx, y + yy);
  *texture = static_cast<GpTexture*>(NewBrush(d));
  return Ok;
}

GpStatus GdipCreateTexture(GpImage* image, GpWrapMode wrapmode, GpTexture** texture) {
  TBitmap* b = AsBitmap(image);
  if (!b) return InvalidParameter;
  return GdipCreateTexture2I(image, wrapmode, 0, 0, b->W, b->H, texture);
}

// ---------------------------------------------------------------------------
// Pens

GpStatus GdipCreatePen1(ARGB color, REAL width, GpUnit unit, GpPen** pen) {
  if (!pen || !(width >= 0) || !std::isfinite(width)) return InvalidParameter;
  auto* p = new GpPen();
  p->Width = width;
  p->Unit = unit;
  p->Brush.Color = color;
  Enter(p, kPen);
  *pen = p;
  return Ok;
}

GpStatus GdipCreatePen2(GpBrush* brush, REAL width, GpUnit unit, GpPen** pen) {
  TBrushData* d = BrushData(brush);
  if (!d || !pen || !(width >= 0) || !std::isfinite(width)) return InvalidParameter;
  auto* p = new GpPen();
  p->Width = width;
  p->Unit = unit;
  p->Brush = *d;
  Enter(p, kPen);
  *pen = p;
  return Ok;
}

GpStatus GdipClonePen(GpPen* pen, GpPen** clonepen) {
  if (!IsKind(pen, kPen) || !clonepen) return InvalidParameter;
  auto* p = new GpPen(*pen);
  Enter(p, kPen);
  *clonepen = p;
  return Ok;
}

GpStatus GdipDeletePen(GpPen* pen) {
  if (!IsKind(pen, kPen)) return InvalidParameter;
  Leave(pen);
  delete pen;
  return Ok;
}

GpStatus GdipGetPenFillType(GpPen* pen, GpPenType* type) {
  if (!IsKind(pen, kPen) || !type) return InvalidParameter;
  *type = GpPenType(pen->Brush.Type);
  return Ok;
}

GpStatus GdipSetPenBrushFill(GpPen* pen, GpBrush* brush) {
  TBrushData* d = BrushData(brush);
  if (!IsKind(pen, kPen) || !d) return InvalidParameter;
  pen->Brush = *d;
  return Ok;
}

GpStatus GdipGetPenBrushFill(GpPen* pen, GpBrush** brush) {
  if (!IsKind(pen, kPen) || !brush) return InvalidParameter;
  *brush = NewBrush(pen->Brush);
  return Ok;
}

GpStatus GdipSetPenColor(GpPen* pen, ARGB argb) {
  if (!IsKind(pen, kPen)) return InvalidParameter;
  pen->Brush = TBrushData{};
  pen->Brush.Color = argb;
  return Ok;
}

GpStatus GdipGetPenColor(GpPen* pen, ARGB* argb) {
  if (!IsKind(pen, kPen) || !argb) return InvalidParameter;
  if (pen->Brush.Type != BrushTypeSolidColor) return InvalidParameter;
  *argb = pen->Brush.Color;
  return Ok;
}

GpStatus GdipSetPenMode(GpPen* pen, GpPenAlignment penMode) {
  if (!IsKind(pen, kPen)) return InvalidParameter;
  pen->Alignment = penMode;
  return Ok;
}

GpStatus GdipGetPenMode(GpPen* pen, GpPenAlignment* penMode) {
  if (!IsKind(pen, kPen) || !penMode) return InvalidParameter;
  *penMode = pen->Alignment;
  return Ok;
}

GpStatus GdipSetPenWidth(GpPen* pen, REAL width) {
  if (!IsKind(pen, kPen) || !(width >= 0) || !std::isfinite(width)) return InvalidParameter;
  pen->Width = width;
  return Ok;
}

GpStatus GdipGetPenWidth(GpPen* pen, REAL* width) {
  if (!IsKind(pen, kPen) || !width) return InvalidParameter;
  *width = pen->Width;
  return Ok;
}

// ---------------------------------------------------------------------------
// Graphics

GpStatus GdipCreateFromHDC(HDC hdc, GpGraphics** graphics) {
  if (!graphics || !gdi::LookupDC(hdc)) return OutOfMemory;  // the platform's answer for a bad DC
  auto* g = new GpGraphics();
  g->Dc = hdc;
  Enter(g, kGraphics);
  *graphics = g;
  return Ok;
}

GpStatus GdipGetImageGraphicsContext(GpImage* image, GpGraphics** graphics) {
  if (!AsBitmap(image) || !graphics) return InvalidParameter;
  auto* g = new GpGraphics();
  g->Image = image;
  Enter(g, kGraphics);
  *graphics = g;
  return Ok;
}

GpStatus GdipDeleteGraphics(GpGraphics* graphics) {
  GpGraphics* g = AsGraphics(graphics);
  if (!g) return InvalidParameter;
  if (g->TempDC) GdipReleaseDC(g, g->TempDC);
  Leave(g);
  delete g;
  return Ok;
}

// A DC over the graphics: its own DC, or for an image a memory DC over a copy
// of the pixels, copied back by GdipReleaseDC (pixels GDI changed become
// opaque, as GDI drawing has no alpha).
GpStatus GdipGetDC(GpGraphics* graphics, HDC* hdc) {
  GpGraphics* g = AsGraphics(graphics);
  if (!g || !hdc) return InvalidParameter;
  if (g->Dc) {
    *hdc = g->Dc;
    return Ok;
  }
  if (g->TempDC) return ObjectBusy;
  TBitmap* b = AsBitmap(g->Image);
  if (!b) return InvalidParameter;
  uint32_t* px = nullptr;
  HBITMAP hbm = gdi::NewDib32(b->W, b->H, &px);
  if (!hbm || !px) return OutOfMemory;
  g->Snapshot.resize(size_t(b->W) * size_t(b->H));
  for (int y = 0; y < b->H; ++y)
    for (int x = 0; x < b->W; ++x)
      g->Snapshot[size_t(y) * size_t(b->W) + size_t(x)] = px[size_t(y) * size_t(b->W) + size_t(x)] =
          b->Get(x, y);
  g->TempBitmap = hbm;
  g->TempDC = CreateCompatibleDC(nullptr);
  g->TempOld = SelectObject(g->TempDC, hbm);
  *hdc = g->TempDC;
  return Ok;
}

GpStatus GdipReleaseDC(GpGraphics* graphics, HDC hdc) {
  GpGraphics* g = AsGraphics(graphics);
  if (!g) return InvalidParameter;
  if (g->Dc) return hdc == g->Dc ? Ok : InvalidParameter;
  if (!g->TempDC || hdc != g->TempDC) return InvalidParameter;
  TBitmap* b = AsBitmap(g->Image);
  DIBSECTION ds{};
  if (b && GetObjectW(g->TempBitmap, sizeof ds, &ds) && ds.dsBm.bmBits) {
    const auto* px = static_cast<const uint32_t*>(ds.dsBm.bmBits);
    for (int y = 0; y < b->H; ++y)
      for (int x = 0; x < b->W; ++x) {
        size_t i = size_t(y) * size_t(b->W) + size_t(x);
        if (px[i] != g->Snapshot[i]) b->Set(x, y, px[i] | 0xFF000000u);
      }
  }
  SelectObject(g->TempDC, g->TempOld);
  DeleteDC(g->TempDC);
  DeleteObject(g->TempBitmap);
  g->TempDC = nullptr;
  g->TempBitmap = nullptr;
  g->Snapshot.clear();
  return Ok;
}

GpStatus GdipGraphicsClear(GpGraphics* graphics, ARGB color) {
  GpGraphics* g = AsGraphics(graphics);
  if (!g) return InvalidParameter;
  uint32_t c = Premultiply(color);
  if (g->Image) {
    TBitmap* b = AsBitmap(g->Image);
    if (!b) return InvalidParameter;
    for (int y = 0; y < b->H; ++y)
      for (int x = 0; x < b->W; ++x) b->Set(x, y, c);
    return Ok;
  }
  gdi::TDCObj* dc = gdi::LookupDC(g->Dc);
  if (!dc) return InvalidParameter;
  gdi::TDrawTarget t(dc);
  if (!t.Valid()) return Ok;
  int n = 0;
  const pixman_box32_t* boxes = t.Clip().Rects(&n);
  for (int i = 0; i < n; ++i)
    for (int y = boxes[i].y1; y < boxes[i].y2; ++y) {
      uint32_t* row = t.Surface().Row(y);
      for (int x = boxes[i].x1; x < boxes[i].x2; ++x)
        row[x] = t.Mono() ? gdi::MonoPixel(gdi::PixelToColor(c)) : c;
    }
  return Ok;
}

#define CL_GP_MODE(Name, Type, Field)                         \
  GpStatus GdipSet##Name(GpGraphics* graphics, Type value) {  \
    GpGraphics* g = AsGraphics(graphics);                     \
    if (!g) return InvalidParameter;                          \
    g->Field = value;                                         \
    return Ok;                                                \
  }                                                           \
  GpStatus GdipGet##Name(GpGraphics* graphics, Type* value) { \
    GpGraphics* g = AsGraphics(graphics);                     \
    if (!g || !value) return InvalidParameter;                \
    *value = g->Field;                                        \
    return Ok;                                                \
  }
CL_GP_MODE(SmoothingMode, SmoothingMode, Smoothing)
CL_GP_MODE(PixelOffsetMode, PixelOffsetMode, PixelOffset)
CL_GP_MODE(CompositingQuality, CompositingQuality, Quality)
#undef CL_GP_MODE

GpStatus GdipSetInterpolationMode(GpGraphics* graphics, InterpolationMode interpolationMode) {
  GpGraphics* g = AsGraphics(graphics);
  if (!g || int(interpolationMode) < 0 || int(interpolationMode) > 7) return InvalidParameter;
  // the default and low-quality modes are bilinear, the high-quality one bicubic
  g->Interpolation = interpolationMode;
  return Ok;
}

GpStatus GdipGetInterpolationMode(GpGraphics* graphics, InterpolationMode* interpolationMode) {
  GpGraphics* g = AsGraphics(graphics);
  if (!g || !interpolationMode) return InvalidParameter;
  *interpolationMode = g->Interpolation;
  return Ok;
}

GpStatus GdipSetCompositingMode(GpGraphics* graphics, CompositingMode compositingMode) {
  GpGraphics* g = AsGraphics(graphics);
  if (!g || (compositingMode != CompositingModeSourceOver && compositingMode != CompositingModeSourceCopy))
    return InvalidParameter;
  g->Compositing = compositingMode;
  return Ok;
}

GpStatus GdipGetCompositingMode(GpGraphics* graphics, CompositingMode* compositingMode) {
  GpGraphics* g = AsGraphics(graphics);
  if (!g || !compositingMode) return InvalidParameter;
  *compositingMode = g->Compositing;
  return Ok;
}

GpStatus GdipIsVisibleRectI(GpGraphics* graphics, INT x, INT y, INT width, INT height, BOOL* result) {
  GpGraphics* g = AsGraphics(graphics);
  if (!g || !result) return InvalidParameter;
  *result = FALSE;
  if (width <= 0 || height <= 0) return Ok;
  RECT r{x, y, int(std::min<int64_t>(int64_t(x) + width, INT32_MAX)),
         int(std::min<int64_t>(int64_t(y) + height, INT32_MAX))};
  if (g->Image) {
    TBitmap* b = AsBitmap(g->Image);
    if (!b) return InvalidParameter;
    *result = r.left < b->W && r.top < b->H && r.right > 0 && r.bottom > 0;
    return Ok;
  }
  *result = RectVisible(g->Dc, &r) ? TRUE : FALSE;
  return Ok;
}

GpStatus GdipIsVisibleRect(GpGraphics* graphics, REAL x, REAL y, REAL width, REAL height, BOOL* result) {
  if (!std::isfinite(x + y + width + height)) return InvalidParameter;
  double l = std::floor(x), t = std::floor(y), r = std::ceil(double(x) + width),
         b = std::ceil(double(y) + height);
  auto c = [](double v) { return int(std::clamp(v, -1e9, 1e9)); };
  return GdipIsVisibleRectI(graphics, c(l), c(t), c(r - l), c(b - t), result);
}

// --- shapes -------------------------------------------------------------------

GpStatus GdipFillRectangleI(GpGraphics* graphics, GpBrush* brush, INT x, INT y, INT width, INT height) {
  GpGraphics* g = AsGraphics(graphics);
  TBrushData* d = BrushData(brush);
  if (!g || !d) return InvalidParameter;
  if (width < 0) {
    x += width;
    width = -width;
  }
  if (height < 0) {
    y += height;
    height = -height;
  }
  int yLo, yHi;
  TargetBounds(g, yLo, yHi);
  int y0 = std::max(y, yLo), y1 = int(std::min<int64_t>(int64_t(y) + height, yHi));
  TSpans spans;
  if (y1 > y0) RectSpans(x, y0, width, y1 - y0, spans);
  return FillSpans(g, *d, spans);
}

GpStatus GdipFillRectangle(GpGraphics* graphics, GpBrush* brush, REAL x, REAL y, REAL width, REAL height) {
  if (!std::isfinite(x + y + width + height)) return InvalidParameter;
  auto c = [](double v) { return int(std::lround(std::clamp(v, -1e9, 1e9))); };
  int l = c(x), t = c(y), r = c(double(x) + width), b = c(double(y) + height);
  return GdipFillRectangleI(graphics, brush, l, t, r - l, b - t);
}

GpStatus GdipFillEllipseI(GpGraphics* graphics, GpBrush* brush, INT x, INT y, INT width, INT height) {
  GpGraphics* g = AsGraphics(graphics);
  TBrushData* d = BrushData(brush);
  if (!g || !d) return InvalidParameter;
  int yLo, yHi;
  TargetBounds(g, yLo, yHi);
  TSpans spans;
  gdi::EllipseSpans(gdi::ClampCoord(x), gdi::ClampCoord(y), gdi::ClampCoord(int64_t(x) + width),
                    gdi::ClampCoord(int64_t(y) + height), spans, yLo, yHi);
  return FillSpans(g, *d, spans);
}

GpStatus GdipFillPolygonI(GpGraphics* graphics, GpBrush* brush, const GpPoint* points, INT count,
                          int fillMode) {
  if (!points || count < 0) return InvalidParameter;
  std::vector<GpPointF> pts;
  for (INT i = 0; i < count; ++i) pts.push_back({REAL(points[i].X), REAL(points[i].Y)});
  return FillPolygonPts(graphics, brush, pts, fillMode);
}

GpStatus GdipFillPieI(GpGraphics* graphics, GpBrush* brush, INT x, INT y, INT width, INT height,
                      REAL startAngle, REAL sweepAngle) {
  if (!std::isfinite(startAngle + sweepAngle)) return InvalidParameter;
  std::vector<GpPointF> pts = ArcPoints(x, y, width, height, startAngle, sweepAngle);
  pts.push_back({REAL(x + width / 2.0), REAL(y + height / 2.0)});
  return FillPolygonPts(graphics, brush, pts, 0);
}

GpStatus GdipFillClosedCurveI(GpGraphics* graphics, GpBrush* brush, const GpPoint* points, INT count) {
  if (!points || count < 0) return InvalidParameter;
  return FillPolygonPts(graphics, brush, CurvePoints(points, count, 0.5f, true), 0);
}

GpStatus GdipDrawLineI(GpGraphics* graphics, GpPen* pen, INT x1, INT y1, INT x2, INT y2) {
  return Stroke(graphics, pen, {{REAL(x1), REAL(y1)}, {REAL(x2), REAL(y2)}}, false);
}

GpStatus GdipDrawRectangleI(GpGraphics* graphics, GpPen* pen, INT x, INT y, INT width, INT height) {
  REAL l = REAL(x), t = REAL(y), r = REAL(int64_t(x) + width), b = REAL(int64_t(y) + height);
  return Stroke(graphics, pen, {{l, t}, {r, t}, {r, b}, {l, b}}, true);
}

GpStatus GdipDrawEllipseI(GpGraphics* graphics, GpPen* pen, INT x, INT y, INT width, INT height) {
  return Stroke(graphics, pen, ArcPoints(x, y, width, height, 0, 360), true);
}

GpStatus GdipDrawArcI(GpGraphics* graphics, GpPen* pen, INT x, INT y, INT width, INT height, REAL startAngle,
                      REAL sweepAngle) {
  if (!std::isfinite(startAngle + sweepAngle)) return InvalidParameter;
  return Stroke(graphics, pen, ArcPoints(x, y, width, height, startAngle, sweepAngle), false);
}

GpStatus GdipDrawPieI(GpGraphics* graphics, GpPen* pen, INT x, INT y, INT width, INT height, REAL startAngle,
                      REAL sweepAngle) {
  if (!std::isfinite(startAngle + sweepAngle)) return InvalidParameter;
  std::vector<GpPointF> pts = ArcPoints(x, y, width, height, startAngle, sweepAngle);
  pts.push_back({REAL(x + width / 2.0), REAL(y + height / 2.0)});
  return Stroke(graphics, pen, pts, true);
}

GpStatus GdipDrawBezierI(GpGraphics* graphics, GpPen* pen, INT x1, INT y1, INT x2, INT y2, INT x3, INT y3,
                         INT x4, INT y4) {
  std::vector<GpPointF> pts;
  BezierPoints({REAL(x1), REAL(y1)}, {REAL(x2), REAL(y2)}, {REAL(x3), REAL(y3)}, {REAL(x4), REAL(y4)}, pts,
               true);
  return Stroke(graphics, pen, pts, false);
}

GpStatus GdipDrawPolygonI(GpGraphics* graphics, GpPen* pen, const GpPoint* points, INT count) {
  if (!points || count < 0) return InvalidParameter;
  std::vector<GpPointF> pts;
  for (INT i = 0; i < count; ++i) pts.push_back({REAL(points[i].X), REAL(points[i].Y)});
  return Stroke(graphics, pen, pts, true);
}

GpStatus GdipDrawCurve2I(GpGraphics* graphics, GpPen* pen, const GpPoint* points, INT count, REAL tension) {
  if (!points || count < 2 || !std::isfinite(tension)) return InvalidParameter;
  return Stroke(graphics, pen, CurvePoints(points, count, tension, false), false);
}

GpStatus GdipDrawClosedCurve2I(GpGraphics* graphics, GpPen* pen, const GpPoint* points, INT count,
                               REAL tension) {
  if (!points || count < 3 || !std::isfinite(tension)) return InvalidParameter;
  return Stroke(graphics, pen, CurvePoints(points, count, tension, true), true);
}

// ---------------------------------------------------------------------------
// Images

GpStatus GdipCreateBitmapFromStream(IStream* stream, GpBitmap** bitmap) {
  if (!stream || !bitmap) return InvalidParameter;
  *bitmap = nullptr;
  std::vector<uint8_t> data;
  if (!ReadAll(stream, data)) return OutOfMemory;
  return Decode(data, bitmap);
}

GpStatus GdipCreateBitmapFromStreamICM(IStream* stream, GpBitmap** bitmap) {
  return GdipCreateBitmapFromStream(stream, bitmap);
}

GpStatus GdipLoadImageFromStream(IStream* stream, GpImage** image) {
  if (!image) return InvalidParameter;
  GpBitmap* b = nullptr;
  GpStatus s = GdipCreateBitmapFromStream(stream, &b);
  *image = b;
  return s;
}

GpStatus GdipCreateBitmapFromFile(const WCHAR* filename, GpBitmap** bitmap) {
  if (!filename || !bitmap) return InvalidParameter;
  *bitmap = nullptr;
  std::vector<uint8_t> data;
  if (!ReadFileBytes(filename, data)) return OutOfMemory;  // the platform answers so for a missing file
  return Decode(data, bitmap);
}

GpStatus GdipLoadImageFromFile(const WCHAR* filename, GpImage** image) {
  if (!image) return InvalidParameter;
  GpBitmap* b = nullptr;
  GpStatus s = GdipCreateBitmapFromFile(filename, &b);
  *image = b;
  return s;
}

GpStatus GdipCreateBitmapFromScan0(INT width, INT height, INT stride, PixelFormat format, BYTE* scan0,
                                   GpBitmap** bitmap) {
  if (!bitmap || width <= 0 || height <= 0 || !Supported(format)) return InvalidParameter;
  *bitmap = nullptr;
  if (!scan0) {
    TBitmap* b = NewBitmap(width, height, format);
    if (!b) return OutOfMemory;
    *bitmap = b;
    return Ok;
  }
  if (int64_t(std::abs(int64_t(stride))) < int64_t(width) * BytesPerPixel(format) || (stride & 3))
    return InvalidParameter;
  if (int64_t(width) * height > MaxImagePixels) return OutOfMemory;
  auto* b = new TBitmap();
  b->W = width;
  b->H = height;
  b->Format = format;
  b->Scan0 = scan0;
  b->Stride = stride;
  Enter(static_cast<GpImage*>(b), kImage);
  *bitmap = b;
  return Ok;
}

GpStatus GdipCreateBitmapFromHBITMAP(HBITMAP hbm, HPALETTE, GpBitmap** bitmap) {
  if (!bitmap) return InvalidParameter;
  *bitmap = BitmapFromHBITMAP(hbm);
  return *bitmap ? Ok : InvalidParameter;
}

GpStatus GdipCreateBitmapFromGdiDib(const BITMAPINFO* gdiBitmapInfo, void* gdiBitmapData, GpBitmap** bitmap) {
  if (!gdiBitmapInfo || !gdiBitmapData || !bitmap) return InvalidParameter;
  *bitmap = nullptr;
  const BITMAPINFOHEADER& h = gdiBitmapInfo->bmiHeader;
  if (h.biWidth <= 0 || h.biHeight == 0 || h.biHeight == INT32_MIN) return InvalidParameter;
  void* bits = nullptr;
  HBITMAP hbm = CreateDIBSection(nullptr, gdiBitmapInfo, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!hbm || !bits) return InvalidParameter;
  size_t stride = ((size_t(h.biWidth) * h.biBitCount + 31) / 32) * 4;
  std::memcpy(bits, gdiBitmapData, stride * size_t(std::abs(h.biHeight)));
  *bitmap = BitmapFromHBITMAP(hbm);
  DeleteObject(hbm);
  return *bitmap ? Ok : InvalidParameter;
}

GpStatus GdipCreateHBITMAPFromBitmap(GpBitmap* bitmap, HBITMAP* hbmReturn, ARGB background) {
  TBitmap* b = AsBitmap(bitmap);
  if (!b || !hbmReturn) return InvalidParameter;
  *hbmReturn = nullptr;
  uint32_t* px = nullptr;
  HBITMAP hbm = gdi::NewDib32(b->W, b->H, &px);
  if (!hbm || !px) return OutOfMemory;
  uint32_t back = Premultiply(background);
  for (int y = 0; y < b->H; ++y)
    for (int x = 0; x < b->W; ++x) px[size_t(y) * size_t(b->W) + size_t(x)] = Over(b->Get(x, y), back);
  *hbmReturn = hbm;
  return Ok;
}

GpStatus GdipCreateBitmapFromGraphics(INT width, INT height, GpGraphics* target, GpBitmap** bitmap) {
  if (!AsGraphics(target) || !bitmap) return InvalidParameter;
  *bitmap = NewBitmap(width, height, PixelFormat32bppPARGB);
  return *bitmap ? Ok : InvalidParameter;
}

GpStatus GdipCloneImage(GpImage* image, GpImage** cloneImage) {
  TBitmap* b = AsBitmap(image);
  if (!b || !cloneImage) return InvalidParameter;
  *cloneImage = CloneArea(b, 0, 0, b->W, b->H, b->Format);
  return *cloneImage ? Ok : OutOfMemory;
}

GpStatus GdipCloneBitmapAreaI(INT x, INT y, INT width, INT height, PixelFormat format, GpBitmap* srcBitmap,
                              GpBitmap** dstBitmap) {
  TBitmap* b = AsBitmap(srcBitmap);
  if (!b || !dstBitmap || (format != PixelFormatDontCare && !Supported(format))) return InvalidParameter;
  *dstBitmap = CloneArea(b, x, y, width, height, format);
  return *dstBitmap ? Ok : InvalidParameter;
}

GpStatus GdipDisposeImage(GpImage* image) {
  TBitmap* b = AsBitmap(image);
  if (!b) return InvalidParameter;
  Leave(static_cast<GpImage*>(b));
  delete b;
  return Ok;
}

GpStatus GdipGetImageWidth(GpImage* image, UINT* width) {
  TBitmap* b = AsBitmap(image);
  if (!b || !width) return InvalidParameter;
  *width = UINT(b->W);
  return Ok;
}

GpStatus GdipGetImageHeight(GpImage* image, UINT* height) {
  TBitmap* b = AsBitmap(image);
  if (!b || !height) return InvalidParameter;
  *height = UINT(b->H);
  return Ok;
}

GpStatus GdipGetImageDimension(GpImage* image, REAL* width, REAL* height) {
  TBitmap* b = AsBitmap(image);
  if (!b || !width || !height) return InvalidParameter;
  *width = REAL(b->W);
  *height = REAL(b->H);
  return Ok;
}

GpStatus GdipGetImagePixelFormat(GpImage* image, PixelFormat* format) {
  TBitmap* b = AsBitmap(image);
  if (!b || !format) return InvalidParameter;
  *format = b->Format;
  return Ok;
}

GpStatus GdipBitmapLockBits(GpBitmap* bitmap, const GpRect* rect, UINT flags, PixelFormat format,
                            BitmapData* data) {
  TBitmap* b = AsBitmap(bitmap);
  if (!b || !data || !Supported(format) || !(flags & (ImageLockModeRead | ImageLockModeWrite)))
    return InvalidParameter;
  if (b->Locked) return WrongState;
  GpRect r = rect ? *rect : GpRect{0, 0, b->W, b->H};
  if (r.X < 0 || r.Y < 0 || r.Width <= 0 || r.Height <= 0 || r.X > b->W - r.Width || r.Y > b->H - r.Height)
    return InvalidParameter;
  int bpp = BytesPerPixel(format);
  b->LockRect = r;
  b->LockFlags = flags;
  b->LockFormat = format;
  b->LockDirect = false;
  b->LockBuffer.clear();
  if (flags & ImageLockModeUserInputBuf) {
    if (!data->Scan0 || std::abs(int64_t(data->Stride)) < int64_t(r.Width) * bpp) return InvalidParameter;
  } else if (format == b->Format) {
    b->LockDirect = true;
    data->Scan0 = b->At(r.X, r.Y);
    data->Stride = INT(b->Stride);
  } else {
    INT stride = (r.Width * bpp + 3) & ~3;
    b->LockBuffer.assign(size_t(stride) * size_t(r.Height), 0);
    data->Scan0 = b->LockBuffer.data();
    data->Stride = stride;
  }
  if (!b->LockDirect && (flags & ImageLockModeRead)) {
    auto* base = static_cast<BYTE*>(data->Scan0);
    for (int y = 0; y < r.Height; ++y)
      for (int x = 0; x < r.Width; ++x)
        WritePixel(base + ptrdiff_t(y) * data->Stride + ptrdiff_t(x) * bpp, format, b->Get(r.X + x, r.Y + y));
  }
  data->Width = UINT(r.Width);
  data->Height = UINT(r.Height);
  data->PixelFormat = format;
  data->Reserved = 0;
  b->Locked = true;
  return Ok;
}

GpStatus GdipBitmapUnlockBits(GpBitmap* bitmap, BitmapData* data) {
  TBitmap* b = AsBitmap(bitmap);
  if (!b || !data) return InvalidParameter;
  if (!b->Locked) return WrongState;
  if (!b->LockDirect && (b->LockFlags & ImageLockModeWrite) && data->Scan0) {
    const GpRect& r = b->LockRect;
    int bpp = BytesPerPixel(b->LockFormat);
    auto* base = static_cast<const BYTE*>(data->Scan0);
    for (int y = 0; y < r.Height; ++y)
      for (int x = 0; x < r.Width; ++x)
        b->Set(r.X + x, r.Y + y,
               ReadPixel(base + ptrdiff_t(y) * data->Stride + ptrdiff_t(x) * bpp, b->LockFormat));
  }
  b->Locked = false;
  b->LockBuffer.clear();
  b->LockBuffer.shrink_to_fit();
  return Ok;
}

GpStatus GdipBitmapGetPixel(GpBitmap* bitmap, INT x, INT y, ARGB* color) {
  TBitmap* b = AsBitmap(bitmap);
  if (!b || !color || x < 0 || y < 0 || x >= b->W || y >= b->H) return InvalidParameter;
  if (b->Locked) return WrongState;
  *color = b->GetStraight(x, y);
  return Ok;
}

GpStatus GdipBitmapSetPixel(GpBitmap* bitmap, INT x, INT y, ARGB color) {
  TBitmap* b = AsBitmap(bitmap);
  if (!b || x < 0 || y < 0 || x >= b->W || y >= b->H) return InvalidParameter;
  if (b->Locked) return WrongState;
  if (b->Format == PixelFormat32bppARGB)
    std::memcpy(b->At(x, y), &color, 4);  // exactly, without a premultiplied round trip
  else
    b->Set(x, y, Premultiply(color));
  return Ok;
}

// --- encoders -----------------------------------------------------------------

GpStatus GdipGetImageEncodersSize(UINT* numEncoders, UINT* size) {
  if (!numEncoders || !size) return InvalidParameter;
  *numEncoders = CodecCount;
  *size = CodecCount * sizeof(ImageCodecInfo);
  return Ok;
}

GpStatus GdipGetImageEncoders(UINT numEncoders, UINT size, ImageCodecInfo* encoders) {
  if (!encoders || numEncoders != CodecCount || size < CodecCount * sizeof(ImageCodecInfo))
    return GenericError;
  for (UINT i = 0; i < CodecCount; ++i) {
    const TCodec& c = Codecs[i];
    ImageCodecInfo& e = encoders[i];
    e = ImageCodecInfo{};
    e.Clsid = c.Clsid;
    e.FormatID = c.Format;
    e.CodecName = c.Name;
    e.FormatDescription = c.Description;
    e.FilenameExtension = c.Extension;
    e.MimeType = c.Mime;
    e.Flags = 0x00010007;  // encoder, decoder, supports bitmaps, built in
    e.Version = 1;
    e.SigCount = 1;
    e.SigSize = c.SigSize;
    e.SigPattern = c.Sig;
    e.SigMask = c.Mask;
  }
  return Ok;
}

// No encoder of ours takes parameters.
GpStatus GdipGetEncoderParameterListSize(GpImage* image, const CLSID* clsidEncoder, UINT* size) {
  if (!AsBitmap(image) || !clsidEncoder || !size) return InvalidParameter;
  *size = 0;
  return NotImplemented;
}

GpStatus GdipGetEncoderParameterList(GpImage* image, const CLSID* clsidEncoder, UINT, EncoderParameters*) {
  if (!AsBitmap(image) || !clsidEncoder) return InvalidParameter;
  return NotImplemented;
}

GpStatus GdipSaveImageToStream(GpImage* image, IStream* stream, const CLSID* clsidEncoder,
                               const EncoderParameters*) {
  TBitmap* b = AsBitmap(image);
  if (!b || !stream || !clsidEncoder) return InvalidParameter;
  if (b->Locked) return WrongState;
  std::vector<uint8_t> bytes;
  try {
    std::vector<uint32_t> px = Straight(b);
    if (*clsidEncoder == CLSID_PngEncoder) {
      bytes = EncodePng(px.data(), b->W, b->H, b->W, HasAlphaFormat(b->Format));
    } else if (*clsidEncoder == CLSID_JpegEncoder) {
      bytes = EncodeJpeg(px.data(), b->W, b->H, b->W, 75, false);
    } else if (*clsidEncoder == CLSID_BmpEncoder) {
      BITMAPINFO bi{};
      bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
      bi.bmiHeader.biWidth = b->W;
      bi.bmiHeader.biHeight = -b->H;
      bi.bmiHeader.biPlanes = 1;
      bi.bmiHeader.biBitCount = HasAlphaFormat(b->Format) ? 32 : 24;
      bi.bmiHeader.biCompression = BI_RGB;
      void* bits = nullptr;
      HBITMAP hbm = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
      if (!hbm || !bits) return OutOfMemory;
      size_t stride = ((size_t(b->W) * bi.bmiHeader.biBitCount + 31) / 32) * 4;
      for (int y = 0; y < b->H; ++y)
        for (int x = 0; x < b->W; ++x) {
          BYTE* p = static_cast<BYTE*>(bits) + size_t(y) * stride + size_t(x) * (bi.bmiHeader.biBitCount / 8);
          uint32_t c = px[size_t(y) * size_t(b->W) + size_t(x)];
          p[0] = BYTE(c);
          p[1] = BYTE(c >> 8);
          p[2] = BYTE(c >> 16);
          if (bi.bmiHeader.biBitCount == 32) p[3] = BYTE(c >> 24);
        }
      bytes = WriteBmpFile(hbm);
      DeleteObject(hbm);
    } else {
      return FileNotFound;  // no encoder of that class
    }
  } catch (...) {
    return Win32Error;
  }
  size_t done = 0;
  while (done < bytes.size()) {
    uint32_t chunk = uint32_t(std::min<size_t>(bytes.size() - done, 1u << 30)), put = 0;
    HRESULT hr = stream->Write(bytes.data() + done, chunk, &put);
    if (hr != S_OK || put == 0) return Win32Error;
    done += put;
  }
  return Ok;
}

// --- drawing images ---------------------------------------------------------------

GpStatus GdipDrawImageRectRectI(GpGraphics* graphics, GpImage* image, INT dstx, INT dsty, INT dstwidth,
                                INT dstheight, INT srcx, INT srcy, INT srcwidth, INT srcheight, GpUnit,
                                const GpImageAttributes* imageAttributes, DrawImageAbort, void*) {
  return DrawImage(graphics, image, dstx, dsty, dstwidth, dstheight, srcx, srcy, srcwidth, srcheight,
                   imageAttributes);
}

GpStatus GdipDrawImageRectRect(GpGraphics* graphics, GpImage* image, REAL dstx, REAL dsty, REAL dstwidth,
                               REAL dstheight, REAL srcx, REAL srcy, REAL srcwidth, REAL srcheight, GpUnit,
                               const GpImageAttributes* imageAttributes, DrawImageAbort, void*) {
  return DrawImage(graphics, image, dstx, dsty, dstwidth, dstheight, srcx, srcy, srcwidth, srcheight,
                   imageAttributes);
}

GpStatus GdipDrawImageRectI(GpGraphics* graphics, GpImage* image, INT x, INT y, INT width, INT height) {
  TBitmap* b = AsBitmap(image);
  if (!b) return InvalidParameter;
  return DrawImage(graphics, image, x, y, width, height, 0, 0, b->W, b->H, nullptr);
}

GpStatus GdipDrawImagePointRect(GpGraphics* graphics, GpImage* image, REAL x, REAL y, REAL srcx, REAL srcy,
                                REAL srcwidth, REAL srcheight, GpUnit) {
  return DrawImage(graphics, image, x, y, srcwidth, srcheight, srcx, srcy, srcwidth, srcheight, nullptr);
}

GpStatus GdipCreateImageAttributes(GpImageAttributes** imageattr) {
  if (!imageattr) return InvalidParameter;
  auto* a = new GpImageAttributes();
  Enter(a, kAttributes);
  *imageattr = a;
  return Ok;
}

GpStatus GdipDisposeImageAttributes(GpImageAttributes* imageattr) {
  if (!IsKind(imageattr, kAttributes)) return InvalidParameter;
  Leave(imageattr);
  delete imageattr;
  return Ok;
}

// The matrix applies to bitmaps (the default and bitmap adjust types); gray
// matrices and the gray flags are not used by the library and are refused.
GpStatus GdipSetImageAttributesColorMatrix(GpImageAttributes* imageattr, ColorAdjustType type,
                                           BOOL enableFlag, const ColorMatrix* colorMatrix,
                                           const ColorMatrix*, ColorMatrixFlags flags) {
  if (!IsKind(imageattr, kAttributes) || int(type) < 0 || int(type) > 4) return InvalidParameter;
  if (type != ColorAdjustTypeDefault && type != ColorAdjustTypeBitmap) return Ok;
  if (!enableFlag) {
    imageattr->HasMatrix = false;
    return Ok;
  }
  if (!colorMatrix) return InvalidParameter;
  if (flags != ColorMatrixFlagsDefault) return NotImplemented;
  imageattr->HasMatrix = true;
  imageattr->Matrix = *colorMatrix;
  return Ok;
}

// --- cached bitmaps -----------------------------------------------------------------

GpStatus GdipCreateCachedBitmap(GpBitmap* bitmap, GpGraphics* graphics, GpCachedBitmap** cachedBitmap) {
  TBitmap* b = AsBitmap(bitmap);
  if (!b || !AsGraphics(graphics) || !cachedBitmap) return InvalidParameter;
  auto* c = new GpCachedBitmap();
  c->W = b->W;
  c->H = b->H;
  c->Pixels.resize(size_t(b->W) * size_t(b->H));
  for (int y = 0; y < b->H; ++y)
    for (int x = 0; x < b->W; ++x) c->Pixels[size_t(y) * size_t(b->W) + size_t(x)] = b->Get(x, y);
  Enter(c, kCached);
  *cachedBitmap = c;
  return Ok;
}

GpStatus GdipDeleteCachedBitmap(GpCachedBitmap* cachedBitmap) {
  if (!IsKind(cachedBitmap, kCached)) return InvalidParameter;
  Leave(cachedBitmap);
  delete cachedBitmap;
  return Ok;
}

GpStatus GdipDrawCachedBitmap(GpGraphics* graphics, GpCachedBitmap* cachedBitmap, INT x, INT y) {
  GpGraphics* g = AsGraphics(graphics);
  if (!g || !IsKind(cachedBitmap, kCached)) return InvalidParameter;
  TSpans spans;
  RectSpans(x, y, cachedBitmap->W, cachedBitmap->H, spans);
  PaintSpans(g, spans, [&](int px, int py) {
    return cachedBitmap->Pixels[size_t(py - y) * size_t(cachedBitmap->W) + size_t(px - x)];
  });
  return Ok;
}

}  // namespace win::gdiplus
