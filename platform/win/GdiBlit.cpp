// Blits with ternary raster operations (BitBlt, StretchBlt, MaskBlt,
// StretchDIBits, SetDIBitsToDevice), TransparentBlt, AlphaBlend and
// GradientFill.
//
// A ROP3 is evaluated from its index byte: bit (P << 2 | S << 1 | D) of the
// index gives the result bit for pattern bit P, source bit S and destination
// bit D, on every bit of the RGB words. Monochrome sources on colour
// destinations turn 0 bits into the destination's text colour and 1 bits into
// its background colour; colour sources on monochrome destinations turn the
// source DC's background colour into 1 and every other colour into 0.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/win/GdiRaster.h"

namespace win::gdi {

namespace {

struct TSource {
  TSurface S;
  POINT Offset{};    // device + Offset = surface coordinates
  bool Mono = false;
  bool MonoTable = false;  // a monochrome DIB: bits map through its colour table
  uint32_t Table[2] = {0, 0x00FFFFFF};
  uint32_t Bk = 0;   // the source DC's background colour (colour to monochrome)
};

// Evaluates the brush at a surface pixel; false for a transparent hatch gap.
class TPatternSampler {
 public:
  TPatternSampler(const TDrawTarget& t, TBrushObj* brush) {
    TDCObj* dc = t.DC();
    FOrgX = dc->S.BrushOrg.x + t.Offset().x;
    FOrgY = dc->S.BrushOrg.y + t.Offset().y;
    FMonoDst = t.Mono();
    if (!brush || brush->Style == BS_NULL) {
      FColor = 0;
      return;
    }
    COLORREF bc = brush->IsDCBrush ? dc->S.DCBrushColor : brush->Color;
    if (brush->Style == BS_SOLID) {
      FColor = t.Pixel(bc);
      return;
    }
    FSolid = false;
    FBack = t.Pixel(dc->S.BkColor);
    if (brush->Style == BS_HATCHED) {
      FHatch = HatchRows(brush->Hatch);
      FFore = t.Pixel(bc);
      FTransparent = dc->S.BkMode == TRANSPARENT;
    } else if (brush->Pattern) {
      FPattern = brush->Pattern;
      FFore = t.Pixel(dc->S.TextColor);
    } else {
      FSolid = true;
    }
  }
  bool At(int x, int y, uint32_t& out) const {
    if (FSolid) {
      out = FColor;
      return true;
    }
    if (FHatch) {
      int px = ((x - FOrgX) % 8 + 8) % 8, py = ((y - FOrgY) % 8 + 8) % 8;
      bool line = (FHatch[py] >> (7 - px)) & 1;
      if (!line && FTransparent) return false;
      out = line ? FFore : FBack;
      return true;
    }
    const TPattern& p = *FPattern;
    int px = ((x - FOrgX) % p.Width + p.Width) % p.Width, py = ((y - FOrgY) % p.Height + p.Height) % p.Height;
    uint32_t v = p.Pixels[size_t(py) * p.Width + px];
    if (p.Mono) out = v ? FBack : FFore;
    else out = FMonoDst ? MonoPixel(PixelToColor(v)) : v;
    return true;
  }

 private:
  bool FSolid = true;
  uint32_t FColor = 0, FFore = 0, FBack = 0;
  const BYTE* FHatch = nullptr;
  bool FTransparent = false;
  bool FMonoDst = false;
  std::shared_ptr<TPattern> FPattern;
  int FOrgX = 0, FOrgY = 0;
};

inline uint32_t ConvertSource(const TSource& src, uint32_t v, const TDrawTarget& t) {
  TDCObj* dc = t.DC();
  if (src.Mono && !t.Mono()) {
    bool one = (v & 0xFFFFFF) != 0;
    if (src.MonoTable) return src.Table[one ? 1 : 0];
    return one ? ColorToPixel(dc->S.BkColor) : ColorToPixel(dc->S.TextColor);
  }
  if (!src.Mono && t.Mono()) return (v & 0xFFFFFF) == (src.Bk & 0xFFFFFF) ? 0x00FFFFFFu : 0u;
  return v;
}

// The source pixel range [a, b) that destination pixel i of n maps to, for
// a source extent of m pixels (both positive).
inline void MapRange(long long i, long long n, long long m, long long& a, long long& b) {
  a = i * m / n;
  b = (i + 1) * m / n;
  if (b <= a) b = a + 1;
}

struct TBlitArgs {
  int DstX, DstY, DstW, DstH;  // logical
  int SrcX, SrcY, SrcW, SrcH;  // source device coordinates
  DWORD Rop;
  const TSource* Src = nullptr;
  // MaskBlt: mask bits (1 = foreground ROP) in mask coordinates
  const TSurface* Mask = nullptr;
  int MaskX = 0, MaskY = 0;
  DWORD BackRop = 0;
};

BOOL DoBlit(TDCObj* dc, const TBlitArgs& a) {
  if (a.DstW == 0 || a.DstH == 0) return 1;
  // extents beyond the coordinate range are refused (and keep abs() defined)
  for (int v : {a.DstW, a.DstH, a.SrcW, a.SrcH})
    if (v < -LimitCoord || v > LimitCoord) return 0;
  uint32_t foreIdx = (a.Rop >> 16) & 0xFF;
  uint32_t backIdx = a.Mask ? (a.BackRop >> 16) & 0xFF : foreIdx;
  bool needSrc = (((foreIdx >> 2) & 0x33) != (foreIdx & 0x33)) || (((backIdx >> 2) & 0x33) != (backIdx & 0x33));
  if (needSrc && !a.Src) return 0;
  TDrawTarget t(dc);
  if (!t.Valid()) return 0;
  TPatternSampler pat(t, dc->S.Brush);
  POINT org = ToDevice(dc, a.DstX, a.DstY);
  // mirroring: a negative extent on one side only flips the picture
  bool flipX = (a.DstW < 0) != (a.SrcW < 0), flipY = (a.DstH < 0) != (a.SrcH < 0);
  int dw = std::abs(a.DstW), dh = std::abs(a.DstH);
  int sw = std::abs(a.SrcW), sh = std::abs(a.SrcH);
  int dx0 = ClampCoord(a.DstW < 0 ? (long long)org.x + a.DstW + 1 : org.x);
  int dy0 = ClampCoord(a.DstH < 0 ? (long long)org.y + a.DstH + 1 : org.y);
  int sx0 = ClampCoord(a.SrcW < 0 ? (long long)a.SrcX + a.SrcW + 1 : a.SrcX);
  int sy0 = ClampCoord(a.SrcH < 0 ? (long long)a.SrcY + a.SrcH + 1 : a.SrcY);
  bool stretch = needSrc && (dw != sw || dh != sh);
  int mode = dc->S.StretchMode;
  POINT o = t.Offset();
  std::vector<uint32_t> srcRow;
  const bool direct = needSrc && !stretch && !flipX && !flipY && !a.Mask && !a.Src->Mono && !t.Mono() &&
                      foreIdx != 0xAA;
  const bool directPat = ((foreIdx >> 4) & 0x0F) != (foreIdx & 0x0F);
  // only the rows that reach the surface
  long long jFirst = std::max<long long>(0, -((long long)dy0 + o.y));
  long long jLast = std::min<long long>(dh, (long long)t.Surface().Height - ((long long)dy0 + o.y));
  for (int j = int(jFirst); j < jLast; ++j) {
    int sy = dy0 + j + o.y;
    if (sy < 0 || sy >= t.Surface().Height) continue;
    long long ya = j, yb = j + 1;
    if (needSrc) {
      long long jj = flipY ? dh - 1 - j : j;
      if (stretch) MapRange(jj, dh, sh, ya, yb);
      else ya = jj, yb = jj + 1;
    }
    t.ClipSpan(sy, ClampCoord((long long)dx0 + o.x), ClampCoord((long long)dx0 + dw + o.x), [&](int x0, int x1) {
      uint32_t* row = t.Surface().Row(sy);
      if (direct) {
        // one row of a 32-bit source at the same scale: what the loop below
        // computes, without its per-pixel mapping
        long long py = sy0 + ya + a.Src->Offset.y;
        if (py < 0 || py >= a.Src->S.Height) return;
        const uint32_t* srow = a.Src->S.Row(int(py));
        long long shift = (long long)sx0 + a.Src->Offset.x - ((long long)dx0 + o.x);  // source x = x + shift
        int lo = int(std::max<long long>(x0, -shift)), hi = int(std::min<long long>(x1, a.Src->S.Width - shift));
        if (lo >= hi) return;
        if (foreIdx == 0xCC) {
          std::memmove(row + lo, srow + lo + shift, size_t(hi - lo) * 4);
          return;
        }
        for (int x = lo; x < hi; ++x) {
          uint32_t p = 0;
          if (directPat && !pat.At(x, sy, p)) continue;
          row[x] = RopMix3(foreIdx, p, srow[x + shift], row[x]);
        }
        return;
      }
      for (int x = x0; x < x1; ++x) {
        int i = int((long long)x - ((long long)dx0 + o.x));
        uint32_t s = 0;
        bool haveSrc = true;
        if (needSrc) {
          long long ii = flipX ? dw - 1 - i : i;
          long long xa = ii, xb = ii + 1;
          if (stretch) MapRange(ii, dw, sw, xa, xb);
          // source pixels outside the source surface leave the destination alone
          auto fetch = [&](long long sx, long long syy, bool& ok) -> uint32_t {
            long long px = sx0 + sx + a.Src->Offset.x, py = sy0 + syy + a.Src->Offset.y;
            if (px < 0 || py < 0 || px >= a.Src->S.Width || py >= a.Src->S.Height) {
              ok = false;
              return 0;
            }
            return ConvertSource(*a.Src, a.Src->S.Row(int(py))[px], t);
          };
          if (!stretch || (xb - xa == 1 && yb - ya == 1) || mode == COLORONCOLOR) {
            long long cx = stretch ? (xa + xb - 1) / 2 : xa, cy = stretch ? (ya + yb - 1) / 2 : ya;
            if (stretch && mode == COLORONCOLOR) cx = xa, cy = ya;
            s = fetch(cx, cy, haveSrc);
          } else {
            uint32_t acc = mode == BLACKONWHITE ? 0x00FFFFFFu : 0u;
            unsigned long sum[4] = {0, 0, 0, 0}, cnt = 0;
            for (long long yy = ya; yy < yb; ++yy)
              for (long long xx = xa; xx < xb; ++xx) {
                bool ok = true;
                uint32_t v = fetch(xx, yy, ok);
                if (!ok) continue;
                ++cnt;
                if (mode == BLACKONWHITE) acc &= v;
                else if (mode == WHITEONBLACK) acc |= v;
                else {
                  sum[0] += v & 0xFF, sum[1] += (v >> 8) & 0xFF, sum[2] += (v >> 16) & 0xFF, sum[3] += v >> 24;
                }
              }
            if (!cnt) haveSrc = false;
            else if (mode == HALFTONE)
              s = uint32_t((sum[0] + cnt / 2) / cnt) | (uint32_t((sum[1] + cnt / 2) / cnt) << 8) |
                  (uint32_t((sum[2] + cnt / 2) / cnt) << 16) | (uint32_t((sum[3] + cnt / 2) / cnt) << 24);
            else s = acc;
          }
          if (!haveSrc) continue;
        }
        uint32_t idx = foreIdx;
        if (a.Mask) {
          int mx = a.MaskX + i, my = a.MaskY + j;
          bool fore = mx >= 0 && my >= 0 && mx < a.Mask->Width && my < a.Mask->Height &&
                      (a.Mask->Row(my)[mx] & 0xFFFFFF) != 0;
          idx = fore ? foreIdx : backIdx;
        }
        if (idx == 0xCC) {
          row[x] = t.Mono() ? (s & 0xFFFFFF) : s;
          continue;
        }
        if (idx == 0xAA) continue;
        uint32_t p = 0;
        bool usesPat = ((idx >> 4) & 0x0F) != (idx & 0x0F);
        if (usesPat && !pat.At(x, sy, p)) continue;
        row[x] = t.Mono() ? RopMix3(idx, p, s, row[x]) & 0xFFFFFF : RopMix3(idx, p, s, row[x]);
      }
    });
  }
  return 1;
}

bool SourceOf(HDC hdcSrc, TSource& src, std::unique_ptr<TDrawTarget>& holder) {
  TDCObj* sdc = LookupDC(hdcSrc);
  if (!sdc) return false;
  holder = std::make_unique<TDrawTarget>(sdc, true, true);
  if (!holder->Valid()) return false;
  src.S = holder->Surface();
  src.Offset = holder->Offset();
  src.Mono = holder->Mono();
  src.Bk = ColorToPixel(sdc->S.BkColor);
  TBitmapObj* bm = sdc->IsMemory ? sdc->S.Bitmap : nullptr;
  if (bm && bm->IsMono() && bm->IsDIB && bm->Colors.size() >= 2) {
    src.MonoTable = true;
    for (int i = 0; i < 2; ++i)
      src.Table[i] = (uint32_t(bm->Colors[size_t(i)].rgbRed) << 16) | (uint32_t(bm->Colors[size_t(i)].rgbGreen) << 8) |
                     bm->Colors[size_t(i)].rgbBlue;
  }
  return true;
}

}  // namespace

}  // namespace win::gdi

namespace win {

using namespace gdi;

BOOL StretchBlt(HDC hdcDest, int xDest, int yDest, int wDest, int hDest, HDC hdcSrc, int xSrc, int ySrc, int wSrc,
                int hSrc, DWORD rop) {
  TDCObj* dc = LookupDC(hdcDest);
  if (!dc) return 0;
  TBlitArgs a{xDest, yDest, wDest, hDest, 0, 0, wSrc, hSrc, rop & 0x00FFFFFF};
  TSource src;
  std::unique_ptr<TDrawTarget> holder;
  if (hdcSrc) {
    TDCObj* sdc = LookupDC(hdcSrc);
    if (!sdc) return 0;
    std::vector<uint32_t> copy;
    if (sdc == dc) {
      // blitting within one surface: read from a copy
      TDrawTarget t(dc);
      if (!t.Valid()) return 0;
      copy.resize(size_t(t.Surface().Width) * t.Surface().Height);
      for (int y = 0; y < t.Surface().Height; ++y)
        std::memcpy(copy.data() + size_t(y) * t.Surface().Width, t.Surface().Row(y), size_t(t.Surface().Width) * 4);
      src.S = TSurface{copy.data(), t.Surface().Width, t.Surface().Width, t.Surface().Height};
      src.Offset = t.Offset();
      src.Mono = t.Mono();
      src.Bk = ColorToPixel(sdc->S.BkColor);
      POINT sp = ToDevice(sdc, xSrc, ySrc);
      a.SrcX = sp.x;
      a.SrcY = sp.y;
      a.Src = &src;
      return DoBlit(dc, a);
    }
    if (!SourceOf(hdcSrc, src, holder)) return 0;
    POINT sp = ToDevice(sdc, xSrc, ySrc);
    a.SrcX = sp.x;
    a.SrcY = sp.y;
    a.Src = &src;
  }
  return DoBlit(dc, a);
}

BOOL BitBlt(HDC hdc, int x, int y, int cx, int cy, HDC hdcSrc, int x1, int y1, DWORD rop) {
  return StretchBlt(hdc, x, y, cx, cy, hdcSrc, x1, y1, cx, cy, rop);
}

BOOL MaskBlt(HDC hdcDest, int xDest, int yDest, int width, int height, HDC hdcSrc, int xSrc, int ySrc,
             HBITMAP hbmMask, int xMask, int yMask, DWORD rop) {
  if (!hbmMask) return BitBlt(hdcDest, xDest, yDest, width, height, hdcSrc, xSrc, ySrc, rop & 0x00FFFFFF);
  TDCObj* dc = LookupDC(hdcDest);
  TBitmapObj* mask = LookupBitmap(hbmMask);
  if (!dc || !mask || !mask->IsMono()) return 0;
  TSurface ms = BitmapSurface(mask);
  // foreground ROP where the mask is 1, background ROP (the high byte) where 0
  TBlitArgs a{xDest, yDest, width, height, 0, 0, width, height, rop & 0x00FFFFFF};
  a.Mask = &ms;
  a.MaskX = xMask;
  a.MaskY = yMask;
  a.BackRop = ((rop >> 8) & 0x00FF0000) | 0x0000;
  TSource src;
  std::unique_ptr<TDrawTarget> holder;
  if (hdcSrc) {
    if (!SourceOf(hdcSrc, src, holder)) return 0;
    POINT sp = ToDevice(LookupDC(hdcSrc), xSrc, ySrc);
    a.SrcX = sp.x;
    a.SrcY = sp.y;
    a.Src = &src;
  }
  return DoBlit(dc, a);
}

int StretchDIBits(HDC hdc, int xDest, int yDest, int DestWidth, int DestHeight, int xSrc, int ySrc, int SrcWidth,
                  int SrcHeight, const void* lpBits, const BITMAPINFO* lpbmi, UINT iUsage, DWORD rop) {
  if (!lpBits || !lpbmi) return 0;
  void* bits = nullptr;
  HBITMAP bm = CreateDIBSection(hdc, lpbmi, iUsage, &bits, nullptr, 0);
  if (!bm) return 0;
  TBitmapObj* b = LookupBitmap(bm);
  std::memcpy(bits, lpBits, b->Storage.size());
  HDC mem = CreateCompatibleDC(hdc);
  HGDIOBJ old = SelectObject(mem, bm);
  // source y counts from the bottom of a bottom-up DIB
  int sy = b->TopDown ? ySrc : b->Height - ySrc - SrcHeight;
  BOOL ok = StretchBlt(hdc, xDest, yDest, DestWidth, DestHeight, mem, xSrc, sy, SrcWidth, SrcHeight, rop);
  SelectObject(mem, old);
  DeleteDC(mem);
  DeleteObject(bm);
  return ok ? b ? std::abs(SrcHeight) : 0 : 0;
}

int SetDIBitsToDevice(HDC hdc, int xDest, int yDest, DWORD w, DWORD h, int xSrc, int ySrc, UINT StartScan,
                      UINT cLines, const void* lpvBits, const BITMAPINFO* lpbmi, UINT ColorUse) {
  if (!lpvBits || !lpbmi || StartScan != 0) return 0;
  int r = StretchDIBits(hdc, xDest, yDest, int(w), int(h), xSrc, ySrc, int(w), int(h), lpvBits, lpbmi, ColorUse,
                        SRCCOPY);
  return r ? int(cLines) : 0;
}

BOOL TransparentBlt(HDC hdcDest, int xDest, int yDest, int wDest, int hDest, HDC hdcSrc, int xSrc, int ySrc,
                    int wSrc, int hSrc, UINT crTransparent) {
  TDCObj* dc = LookupDC(hdcDest);
  TDCObj* sdc = LookupDC(hdcSrc);
  if (!dc || !sdc || wDest <= 0 || hDest <= 0 || wSrc <= 0 || hSrc <= 0) return 0;
  TSource src;
  std::unique_ptr<TDrawTarget> holder;
  if (!SourceOf(hdcSrc, src, holder)) return 0;
  TDrawTarget t(dc);
  if (!t.Valid()) return 0;
  uint32_t key = ColorToPixel(crTransparent);
  POINT d = ToDevice(dc, xDest, yDest), s = ToDevice(sdc, xSrc, ySrc);
  POINT o = t.Offset();
  long long jFirst = std::max<long long>(0, -((long long)d.y + o.y));
  long long jLast = std::min<long long>(hDest, (long long)t.Surface().Height - ((long long)d.y + o.y));
  for (int j = int(jFirst); j < jLast; ++j) {
    int y = d.y + j + o.y;
    long long ya, yb;
    MapRange(j, hDest, hSrc, ya, yb);
    long long py = s.y + ya + src.Offset.y;
    if (py < 0 || py >= src.S.Height) continue;
    t.ClipSpan(y, ClampCoord((long long)d.x + o.x), ClampCoord((long long)d.x + wDest + o.x), [&](int x0, int x1) {
      uint32_t* row = t.Surface().Row(y);
      for (int x = x0; x < x1; ++x) {
        long long xa, xb;
        MapRange((long long)x - ((long long)d.x + o.x), wDest, wSrc, xa, xb);
        long long px = s.x + xa + src.Offset.x;
        if (px < 0 || px >= src.S.Width) continue;
        uint32_t raw = src.S.Row(int(py))[px];
        if (!src.Mono && (raw & 0xFFFFFF) == key) continue;
        uint32_t v = ConvertSource(src, raw, t);
        if (src.Mono && (v & 0xFFFFFF) == key) continue;
        row[x] = v & 0xFFFFFF;
      }
    });
  }
  return 1;
}

BOOL AlphaBlend(HDC hdcDest, int xDest, int yDest, int wDest, int hDest, HDC hdcSrc, int xSrc, int ySrc, int wSrc,
                int hSrc, BLENDFUNCTION ftn) {
  TDCObj* dc = LookupDC(hdcDest);
  TDCObj* sdc = LookupDC(hdcSrc);
  if (!dc || !sdc || ftn.BlendOp != AC_SRC_OVER) return 0;
  if (wDest < 0 || hDest < 0 || wSrc < 0 || hSrc < 0) return 0;
  if (wDest == 0 || hDest == 0 || wSrc == 0 || hSrc == 0) return 1;
  TSource src;
  std::unique_ptr<TDrawTarget> holder;
  if (!SourceOf(hdcSrc, src, holder)) return 0;
  POINT s = ToDevice(sdc, xSrc, ySrc);
  // the source rectangle must lie within the source surface
  if (s.x + src.Offset.x < 0 || s.y + src.Offset.y < 0 || s.x + src.Offset.x + wSrc > src.S.Width ||
      s.y + src.Offset.y + hSrc > src.S.Height)
    return 0;
  TDrawTarget t(dc);
  if (!t.Valid()) return 0;
  uint32_t sca = ftn.SourceConstantAlpha;
  bool perPixel = (ftn.AlphaFormat & AC_SRC_ALPHA) != 0;
  POINT d = ToDevice(dc, xDest, yDest), o = t.Offset();
  auto mul = [](uint32_t a, uint32_t b) { return (a * b + 127) / 255; };
  long long jFirst = std::max<long long>(0, -((long long)d.y + o.y));
  long long jLast = std::min<long long>(hDest, (long long)t.Surface().Height - ((long long)d.y + o.y));
  for (int j = int(jFirst); j < jLast; ++j) {
    int y = d.y + j + o.y;
    long long ya, yb;
    MapRange(j, hDest, hSrc, ya, yb);
    const uint32_t* srow = src.S.Row(int(s.y + ya + src.Offset.y));
    t.ClipSpan(y, ClampCoord((long long)d.x + o.x), ClampCoord((long long)d.x + wDest + o.x), [&](int x0, int x1) {
      uint32_t* row = t.Surface().Row(y);
      for (int x = x0; x < x1; ++x) {
        long long xa, xb;
        MapRange((long long)x - ((long long)d.x + o.x), wDest, wSrc, xa, xb);
        uint32_t sp = ConvertSource(src, srow[s.x + xa + src.Offset.x], t);
        uint32_t dp = row[x];
        uint32_t sa = perPixel ? sp >> 24 : 255;
        // Dst = Src * SCA + Dst * (1 - SrcAlpha * SCA), every channel premultiplied
        uint32_t fa = mul(sa, sca);
        uint32_t out = 0;
        for (int c = 0; c < 32; c += 8) {
          uint32_t sc = c == 24 ? sa : (sp >> c) & 0xFF;
          uint32_t dcv = (dp >> c) & 0xFF;
          uint32_t v = mul(sc, sca) + mul(dcv, 255 - fa);
          out |= std::min<uint32_t>(v, 255) << c;
        }
        row[x] = out;
      }
    });
  }
  return 1;
}

BOOL GradientFill(HDC hdc, TRIVERTEX* pVertex, ULONG nVertex, void* pMesh, ULONG nMesh, ULONG ulMode) {
  TDCObj* dc = LookupDC(hdc);
  if (!dc || !pVertex || !pMesh) return 0;
  if (ulMode != GRADIENT_FILL_RECT_H && ulMode != GRADIENT_FILL_RECT_V && ulMode != GRADIENT_FILL_TRIANGLE) return 0;
  TDrawTarget t(dc);
  if (!t.Valid()) return 0;
  POINT o = t.Offset();
  auto channel = [](COLOR16 a, COLOR16 b, long long num, long long den) -> uint32_t {
    long long va = a >> 8, vb = b >> 8;
    return uint32_t(va + (vb - va) * num / den);
  };
  if (ulMode == GRADIENT_FILL_TRIANGLE) {
    auto* tris = static_cast<GRADIENT_TRIANGLE*>(pMesh);
    for (ULONG k = 0; k < nMesh; ++k) {
      if (tris[k].Vertex1 >= nVertex || tris[k].Vertex2 >= nVertex || tris[k].Vertex3 >= nVertex) return 0;
      const TRIVERTEX* v[3] = {&pVertex[tris[k].Vertex1], &pVertex[tris[k].Vertex2], &pVertex[tris[k].Vertex3]};
      POINT p[3];
      for (int i = 0; i < 3; ++i) p[i] = ToDevice(dc, v[i]->x, v[i]->y);
      TSpans spans;
      int three = 3;
      PolygonSpans(p, &three, 1, ALTERNATE, spans);
      double det = double(p[1].y - p[2].y) * (p[0].x - p[2].x) + double(p[2].x - p[1].x) * (p[0].y - p[2].y);
      if (det == 0) continue;
      for (auto& sp : spans) {
        int y = sp.y + o.y;
        t.ClipSpan(y, sp.x0 + o.x, sp.x1 + o.x, [&](int x0, int x1) {
          uint32_t* row = t.Surface().Row(y);
          for (int x = x0; x < x1; ++x) {
            double px = x - o.x, py = sp.y;
            double l0 = ((p[1].y - p[2].y) * (px - p[2].x) + (p[2].x - p[1].x) * (py - p[2].y)) / det;
            double l1 = ((p[2].y - p[0].y) * (px - p[2].x) + (p[0].x - p[2].x) * (py - p[2].y)) / det;
            double l2 = 1 - l0 - l1;
            auto ch = [&](COLOR16 TRIVERTEX::*f) {
              double c = (l0 * (v[0]->*f) + l1 * (v[1]->*f) + l2 * (v[2]->*f)) / 256.0;
              return uint32_t(std::clamp(c, 0.0, 255.0));
            };
            row[x] = (ch(&TRIVERTEX::Red) << 16) | (ch(&TRIVERTEX::Green) << 8) | ch(&TRIVERTEX::Blue);
          }
        });
      }
    }
    return 1;
  }
  auto* rects = static_cast<GRADIENT_RECT*>(pMesh);
  for (ULONG k = 0; k < nMesh; ++k) {
    if (rects[k].UpperLeft >= nVertex || rects[k].LowerRight >= nVertex) return 0;
    const TRIVERTEX& a = pVertex[rects[k].UpperLeft];
    const TRIVERTEX& b = pVertex[rects[k].LowerRight];
    // the colours run from the first vertex's side to the second's
    POINT pa = ToDevice(dc, a.x, a.y), pb = ToDevice(dc, b.x, b.y);
    int l = std::min(pa.x, pb.x), r = std::max(pa.x, pb.x), tp = std::min(pa.y, pb.y), bt = std::max(pa.y, pb.y);
    bool horz = ulMode == GRADIENT_FILL_RECT_H;
    const TRIVERTEX& c0 = horz ? (pa.x <= pb.x ? a : b) : (pa.y <= pb.y ? a : b);
    const TRIVERTEX& c1 = &c0 == &a ? b : a;
    long long len = horz ? r - l : bt - tp;
    if (len <= 0) continue;
    RECT vis = t.Clip().Box();
    for (int y = std::max<int>(tp, vis.top - o.y); y < std::min<int>(bt, vis.bottom - o.y); ++y) {
      int sy = y + o.y;
      t.ClipSpan(sy, l + o.x, r + o.x, [&](int x0, int x1) {
        uint32_t* row = t.Surface().Row(sy);
        for (int x = x0; x < x1; ++x) {
          long long pos = horz ? (x - o.x) - l : y - tp;
          uint32_t px = (channel(c0.Red, c1.Red, pos, len) << 16) | (channel(c0.Green, c1.Green, pos, len) << 8) |
                        channel(c0.Blue, c1.Blue, pos, len);
          row[x] = t.Mono() ? MonoPixel(PixelToColor(px)) : px;
        }
      });
    }
  }
  return 1;
}

}  // namespace win
