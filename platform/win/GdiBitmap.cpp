// Bitmaps: device-dependent bitmaps and DIB sections in 1, 4, 8, 16, 24 and
// 32 bits per pixel, their conversions to and from the 32-bit drawing form,
// GetDIBits/SetDIBits, GetBitmapBits/SetBitmapBits and the draw target.
#include <algorithm>
#include <cstring>
#include <limits>
#include <unordered_map>

#include "platform/win/GdiInternal.h"

namespace win::gdi {

namespace {

// Bitmaps larger than this many pixels are refused (a hostile header must
// not make us allocate gigabytes).
constexpr int64_t MaxPixels = int64_t(1) << 28;

// The colour table of 4- and 8-bit device bitmaps: the 16 colours of the
// default palette, then a 6x6x6 colour cube and 24 greys.
const std::vector<RGBQUAD>& DefaultColors(int bpp) {
  static const std::vector<RGBQUAD> mono = {RGBQUAD{0, 0, 0, 0}, RGBQUAD{255, 255, 255, 0}};
  static const std::vector<RGBQUAD> vga = [] {
    static const BYTE c[16][3] = {{0, 0, 0},     {128, 0, 0},   {0, 128, 0},   {128, 128, 0},
                                  {0, 0, 128},   {128, 0, 128}, {0, 128, 128}, {192, 192, 192},
                                  {128, 128, 128}, {255, 0, 0}, {0, 255, 0},   {255, 255, 0},
                                  {0, 0, 255},   {255, 0, 255}, {0, 255, 255}, {255, 255, 255}};
    std::vector<RGBQUAD> v;
    for (auto& e : c) v.push_back(RGBQUAD{e[2], e[1], e[0], 0});
    return v;
  }();
  static const std::vector<RGBQUAD> c256 = [] {
    std::vector<RGBQUAD> v = vga;
    for (int r = 0; r < 6; ++r)
      for (int g = 0; g < 6; ++g)
        for (int b = 0; b < 6; ++b) v.push_back(RGBQUAD{BYTE(b * 51), BYTE(g * 51), BYTE(r * 51), 0});
    for (int i = 0; i < 24; ++i) {
      BYTE l = BYTE(8 + i * 10);
      v.push_back(RGBQUAD{l, l, l, 0});
    }
    return v;
  }();
  return bpp == 1 ? mono : bpp == 4 ? vga : c256;
}

int MaskShift(DWORD m) {
  if (!m) return 0;
  int s = 0;
  while (!(m & 1)) {
    m >>= 1;
    ++s;
  }
  return s;
}
int MaskBits(DWORD m) {
  int n = 0;
  for (; m; m &= m - 1) ++n;
  return n;
}
// Scales a channel of `bits` bits to 8 bits.
inline uint32_t Expand(uint32_t v, int bits) {
  if (bits <= 0) return 0;
  if (bits >= 8) return v >> (bits - 8);
  uint32_t r = v << (8 - bits);
  for (int s = bits; s < 8; s += bits) r |= r >> bits;
  return r & 0xFF;
}

struct TFormat {
  int Bpp;
  DWORD Masks[3];
  bool MaskedAlpha;  // 32 bits with the standard masks: alpha is kept
  const RGBQUAD* Colors;
  size_t NumColors;
};

TFormat FormatOf(const TBitmapObj* bm) {
  TFormat f{bm->BitsPixel, {bm->Masks[0], bm->Masks[1], bm->Masks[2]}, false, bm->Colors.data(),
            bm->Colors.size()};
  f.MaskedAlpha = bm->BitsPixel == 32 && bm->Masks[0] == 0x00FF0000 && bm->Masks[1] == 0x0000FF00 &&
                  bm->Masks[2] == 0x000000FF;
  return f;
}

uint32_t PaletteColor(const TFormat& f, uint32_t index) {
  if (index >= f.NumColors) return 0;
  const RGBQUAD& q = f.Colors[index];
  return (uint32_t(q.rgbRed) << 16) | (uint32_t(q.rgbGreen) << 8) | q.rgbBlue;
}

void DecodeRow(const TFormat& f, const uint8_t* src, int width, uint32_t* out) {
  switch (f.Bpp) {
    case 1:
      for (int x = 0; x < width; ++x) out[x] = PaletteColor(f, (src[x >> 3] >> (7 - (x & 7))) & 1);
      break;
    case 4:
      for (int x = 0; x < width; ++x) out[x] = PaletteColor(f, (src[x >> 1] >> ((x & 1) ? 0 : 4)) & 15);
      break;
    case 8:
      for (int x = 0; x < width; ++x) out[x] = PaletteColor(f, src[x]);
      break;
    case 16:
    case 32: {
      int sh[3], bits[3];
      for (int i = 0; i < 3; ++i) sh[i] = MaskShift(f.Masks[i]), bits[i] = MaskBits(f.Masks[i]);
      for (int x = 0; x < width; ++x) {
        uint32_t v;
        if (f.Bpp == 16) {
          v = uint32_t(src[2 * x]) | (uint32_t(src[2 * x + 1]) << 8);
        } else {
          std::memcpy(&v, src + 4 * x, 4);
          if (f.MaskedAlpha) {
            out[x] = v;
            continue;
          }
        }
        uint32_t r = Expand((v & f.Masks[0]) >> sh[0], bits[0]);
        uint32_t g = Expand((v & f.Masks[1]) >> sh[1], bits[1]);
        uint32_t b = Expand((v & f.Masks[2]) >> sh[2], bits[2]);
        out[x] = (r << 16) | (g << 8) | b;
      }
      break;
    }
    case 24:
      for (int x = 0; x < width; ++x)
        out[x] = uint32_t(src[3 * x]) | (uint32_t(src[3 * x + 1]) << 8) | (uint32_t(src[3 * x + 2]) << 16);
      break;
    default: std::fill(out, out + width, 0u);
  }
}

// Nearest palette entry, with a small cache per call site.
struct TNearest {
  const TFormat& F;
  std::unordered_map<uint32_t, uint32_t> Cache;
  explicit TNearest(const TFormat& f) : F(f) {}
  uint32_t operator()(uint32_t px) {
    px &= 0xFFFFFF;
    auto it = Cache.find(px);
    if (it != Cache.end()) return it->second;
    uint32_t best = 0;
    long bestD = std::numeric_limits<long>::max();
    for (size_t i = 0; i < F.NumColors; ++i) {
      long dr = long((px >> 16) & 0xFF) - F.Colors[i].rgbRed, dg = long((px >> 8) & 0xFF) - F.Colors[i].rgbGreen,
           db = long(px & 0xFF) - F.Colors[i].rgbBlue;
      long d = dr * dr + dg * dg + db * db;
      if (d < bestD) {
        bestD = d;
        best = uint32_t(i);
        if (d == 0) break;
      }
    }
    Cache.emplace(px, best);
    return best;
  }
};

void EncodeRow(const TFormat& f, const uint32_t* in, int width, uint8_t* dst, TNearest* nearest) {
  switch (f.Bpp) {
    case 1:
    case 4:
    case 8: {
      int per = 8 / f.Bpp;
      if (f.Bpp != 8) std::memset(dst, 0, size_t((width * f.Bpp + 7) / 8));
      for (int x = 0; x < width; ++x) {
        uint32_t idx = (*nearest)(in[x]);
        if (f.Bpp == 8) {
          dst[x] = uint8_t(idx);
        } else {
          int shift = (per - 1 - (x % per)) * f.Bpp;
          dst[x / per] = uint8_t(dst[x / per] | (idx << shift));
        }
      }
      break;
    }
    case 16:
    case 32: {
      if (f.Bpp == 32 && f.MaskedAlpha) {
        std::memcpy(dst, in, size_t(width) * 4);
        break;
      }
      int sh[3], bits[3];
      for (int i = 0; i < 3; ++i) sh[i] = MaskShift(f.Masks[i]), bits[i] = MaskBits(f.Masks[i]);
      for (int x = 0; x < width; ++x) {
        uint32_t c[3] = {(in[x] >> 16) & 0xFF, (in[x] >> 8) & 0xFF, in[x] & 0xFF};
        uint32_t v = 0;
        for (int i = 0; i < 3; ++i) {
          uint32_t ch = bits[i] >= 8 ? c[i] << (bits[i] - 8) : c[i] >> (8 - bits[i]);
          v |= (ch << sh[i]) & f.Masks[i];
        }
        if (f.Bpp == 16) {
          dst[2 * x] = uint8_t(v);
          dst[2 * x + 1] = uint8_t(v >> 8);
        } else {
          std::memcpy(dst + 4 * x, &v, 4);
        }
      }
      break;
    }
    case 24:
      for (int x = 0; x < width; ++x) {
        dst[3 * x] = uint8_t(in[x]);
        dst[3 * x + 1] = uint8_t(in[x] >> 8);
        dst[3 * x + 2] = uint8_t(in[x] >> 16);
      }
      break;
    default: break;
  }
}

size_t DIBStride(int width, int bpp) { return size_t(((int64_t(width) * bpp + 31) / 32) * 4); }
size_t DDBStride(int width, int bpp) { return size_t(((int64_t(width) * bpp + 15) / 16) * 2); }

bool ValidBpp(int bpp) { return bpp == 1 || bpp == 4 || bpp == 8 || bpp == 16 || bpp == 24 || bpp == 32; }

void SetDefaultMasks(TBitmapObj* bm) {
  if (bm->BitsPixel == 16) {
    bm->Masks[0] = 0x7C00;
    bm->Masks[1] = 0x03E0;
    bm->Masks[2] = 0x001F;
  } else if (bm->BitsPixel == 32 || bm->BitsPixel == 24) {
    bm->Masks[0] = 0x00FF0000;
    bm->Masks[1] = 0x0000FF00;
    bm->Masks[2] = 0x000000FF;
  }
}

TBitmapObj* NewBitmap(int width, int height, int bpp, bool dib, bool topDown) {
  if (width <= 0 || height <= 0 || !ValidBpp(bpp)) return nullptr;
  if (int64_t(width) * height > MaxPixels) return nullptr;
  auto* bm = new TBitmapObj();
  bm->Type = OBJ_BITMAP;
  bm->Width = width;
  bm->Height = height;
  bm->BitsPixel = bpp;
  bm->IsDIB = dib;
  bm->TopDown = topDown;
  bm->Stride = dib ? DIBStride(width, bpp) : (bpp == 32 ? size_t(width) * 4 : DDBStride(width, bpp));
  bm->Storage.assign(bm->Stride * size_t(height), 0);
  bm->Bits = bm->Storage.data();
  SetDefaultMasks(bm);
  if (bpp <= 8) bm->Colors = DefaultColors(bpp);
  return bm;
}

// The colour table and masks of a BITMAPINFO; false for an unusable header.
struct TDIBInfo {
  int Width = 0, Height = 0, Bpp = 0;
  bool TopDown = false;
  DWORD Compression = BI_RGB;
  DWORD Masks[3] = {0, 0, 0};
  std::vector<RGBQUAD> Colors;
  size_t Stride = 0;
};

bool ReadInfo(const BITMAPINFO* bmi, UINT usage, TDIBInfo& out, HDC hdc) {
  if (!bmi) return false;
  const BITMAPINFOHEADER& h = bmi->bmiHeader;
  if (h.biSize < 40 && h.biSize != sizeof(BITMAPCOREHEADER)) return false;
  if (h.biSize == sizeof(BITMAPCOREHEADER)) {
    const auto* c = reinterpret_cast<const BITMAPCOREHEADER*>(bmi);
    out.Width = c->bcWidth;
    out.Height = c->bcHeight;
    out.Bpp = c->bcBitCount;
    out.TopDown = false;
    if (!ValidBpp(out.Bpp) || out.Width <= 0 || out.Height <= 0) return false;
    if (out.Bpp <= 8) {
      const auto* tri = reinterpret_cast<const RGBTRIPLE*>(reinterpret_cast<const uint8_t*>(bmi) + c->bcSize);
      for (int i = 0; i < (1 << out.Bpp); ++i)
        out.Colors.push_back(RGBQUAD{tri[i].rgbtBlue, tri[i].rgbtGreen, tri[i].rgbtRed, 0});
    }
  } else {
    out.Width = h.biWidth;
    if (h.biHeight == std::numeric_limits<LONG>::min()) return false;
    out.Height = h.biHeight < 0 ? -h.biHeight : h.biHeight;
    out.TopDown = h.biHeight < 0;
    out.Bpp = h.biBitCount;
    out.Compression = h.biCompression;
    if (!ValidBpp(out.Bpp) || out.Width <= 0 || out.Height <= 0) return false;
    if (int64_t(out.Width) * out.Height > MaxPixels) return false;
    const uint8_t* after = reinterpret_cast<const uint8_t*>(bmi) + h.biSize;
    if (out.Compression == BI_BITFIELDS) {
      if (out.Bpp != 16 && out.Bpp != 32) return false;
      // the masks follow the 40-byte header, or sit inside a larger one
      const uint8_t* m = h.biSize >= 52 ? reinterpret_cast<const uint8_t*>(bmi) + 40 : after;
      std::memcpy(out.Masks, m, 12);
      if (h.biSize < 52) after += 12;
    } else if (out.Compression != BI_RGB) {
      return false;
    }
    if (out.Bpp <= 8) {
      size_t n = h.biClrUsed ? std::min<size_t>(h.biClrUsed, size_t(1) << out.Bpp) : size_t(1) << out.Bpp;
      if (usage == DIB_PAL_COLORS) {
        // indexes into the DC's palette
        const auto* idx = reinterpret_cast<const WORD*>(after);
        TDCObj* dc = LookupDC(hdc);
        for (size_t i = 0; i < n; ++i) {
          PALETTEENTRY pe{};
          if (dc && dc->S.Palette && idx[i] < dc->S.Palette->Entries.size()) pe = dc->S.Palette->Entries[idx[i]];
          out.Colors.push_back(RGBQUAD{pe.peBlue, pe.peGreen, pe.peRed, 0});
        }
      } else {
        const auto* q = reinterpret_cast<const RGBQUAD*>(after);
        out.Colors.assign(q, q + n);
      }
    }
  }
  if (out.Compression != BI_BITFIELDS) {
    if (out.Bpp == 16) {
      out.Masks[0] = 0x7C00, out.Masks[1] = 0x03E0, out.Masks[2] = 0x001F;
    } else if (out.Bpp >= 24) {
      out.Masks[0] = 0x00FF0000, out.Masks[1] = 0x0000FF00, out.Masks[2] = 0x000000FF;
    }
  }
  out.Stride = DIBStride(out.Width, out.Bpp);
  return true;
}

TFormat FormatOf(const TDIBInfo& d) {
  TFormat f{d.Bpp, {d.Masks[0], d.Masks[1], d.Masks[2]}, false, d.Colors.data(), d.Colors.size()};
  f.MaskedAlpha = d.Bpp == 32 && d.Masks[0] == 0x00FF0000 && d.Masks[1] == 0x0000FF00 && d.Masks[2] == 0x000000FF;
  return f;
}

}  // namespace

bool TBitmapObj::IsDirect32() const {
  return BitsPixel == 32 && Masks[0] == 0x00FF0000 && Masks[1] == 0x0000FF00 && Masks[2] == 0x000000FF;
}

uint8_t* TBitmapObj::Row(int y) const { return Bits + Stride * size_t(TopDown ? y : Height - 1 - y); }

TSurface BitmapSurface(TBitmapObj* bm, bool load, int y0, int y1) {
  TSurface s;
  if (!bm || !bm->Bits) return s;
  s.Width = bm->Width;
  s.Height = bm->Height;
  if (bm->IsDirect32()) {
    s.Bits = reinterpret_cast<uint32_t*>(bm->Row(0));
    s.Stride = (bm->TopDown ? 1 : -1) * ptrdiff_t(bm->Stride / 4);
    return s;
  }
  bm->Shadow.resize(size_t(bm->Width) * bm->Height);
  s.Bits = bm->Shadow.data();
  s.Stride = bm->Width;
  if (load) {
    TFormat f = FormatOf(bm);
    if (bm->IsMono()) {
      // monochrome surfaces work in bits: 0 black, 1 white
      static const RGBQUAD bw[2] = {RGBQUAD{0, 0, 0, 0}, RGBQUAD{255, 255, 255, 0}};
      f.Colors = bw;
      f.NumColors = 2;
    }
    for (int y = std::max(y0, 0), e = std::min(y1, bm->Height); y < e; ++y)
      DecodeRow(f, bm->Row(y), bm->Width, s.Row(y));
  }
  return s;
}

void BitmapCommit(TBitmapObj* bm, int y0, int y1) {
  if (!bm || bm->IsDirect32() || bm->Shadow.empty()) return;
  TFormat f = FormatOf(bm);
  if (bm->IsMono()) {
    static const RGBQUAD bw[2] = {RGBQUAD{0, 0, 0, 0}, RGBQUAD{255, 255, 255, 0}};
    f.Colors = bw;
    f.NumColors = 2;
  }
  TNearest nearest(f);
  for (int y = std::max(y0, 0), e = std::min(y1, bm->Height); y < e; ++y)
    EncodeRow(f, bm->Shadow.data() + size_t(y) * bm->Width, bm->Width, bm->Row(y), &nearest);
}

// ---------------------------------------------------------------------------
// Draw target

TDrawTarget::TDrawTarget(TDCObj* dc, bool access, bool readOnly, const RECT* bounds)
    : FDC(dc), FAccess(access), FReadOnly(readOnly) {
  if (!dc) return;
  if (dc->IsMemory) {
    FBitmap = dc->S.Bitmap;
    if (!FBitmap) return;
    if (access) {
      if (bounds) {
        // A memory DC's device coordinates are the surface's.
        FRow0 = std::max<int>(bounds->top, 0);
        FRow1 = std::max<int>(bounds->bottom, FRow0);
      }
      FSurface = BitmapSurface(FBitmap, true, FRow0, FRow1);
    } else {
      FSurface.Bits = reinterpret_cast<uint32_t*>(FBitmap->Bits);
      FSurface.Width = FBitmap->Width;
      FSurface.Height = FBitmap->Height;
    }
    FMono = FBitmap->IsMono();
  } else {
    if (access && SurfaceAccessHook) SurfaceAccessHook(dc, false, RECT{});
    // A screen DC follows the screen surface, which a new screen size replaces.
    FSurface = dc->External.Bits && !dc->IsScreen ? dc->External : ScreenSurface();
    FOffset = dc->SurfaceOrigin;
  }
  if (!FSurface.Bits) return;
  FClip.SetRect(RECT{0, 0, FSurface.Width, FSurface.Height});
  TRgn dev;
  if (DeviceClip(dc, dev)) {
    dev.Offset(FOffset.x, FOffset.y);
    FClip.Intersect(dev);
  }
  if (bounds) {
    TRgn b(*bounds);
    b.Offset(FOffset.x, FOffset.y);
    FClip.Intersect(b);
  }
}

TDrawTarget::~TDrawTarget() {
  if (!FAccess || FReadOnly || !FSurface.Bits) return;
  if (FBitmap)
    BitmapCommit(FBitmap, FRow0, FRow1);
  else if (SurfaceAccessHook && !FDC->IsMemory && !FClip.Empty())
    SurfaceAccessHook(FDC, true, FClip.Box());
}

}  // namespace win::gdi

namespace win {

using namespace gdi;

HBITMAP CreateBitmap(int nWidth, int nHeight, UINT nPlanes, UINT nBitCount, const void* lpBits) {
  if (nPlanes != 1) return nullptr;
  if (nWidth == 0 || nHeight == 0) {
    // a zero size answers the stock 1 x 1 monochrome bitmap
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ bm = GetCurrentObject(dc, OBJ_BITMAP);
    DeleteDC(dc);
    return static_cast<HBITMAP>(bm);
  }
  if (nWidth < 0 || nHeight < 0) return nullptr;
  int bpp = int(nBitCount);
  if (bpp == 0) bpp = 1;
  if (bpp == 2) bpp = 4;
  if (!ValidBpp(bpp)) return nullptr;
  TBitmapObj* bm = NewBitmap(nWidth, nHeight, bpp, false, true);
  if (!bm) return nullptr;
  if (lpBits) std::memcpy(bm->Bits, lpBits, bm->Stride * size_t(bm->Height));
  return static_cast<HBITMAP>(Register(bm));
}

HBITMAP CreateBitmapIndirect(const BITMAP* pbm) {
  if (!pbm) return nullptr;
  HBITMAP h = CreateBitmap(pbm->bmWidth, pbm->bmHeight, pbm->bmPlanes, pbm->bmBitsPixel, nullptr);
  TBitmapObj* bm = LookupBitmap(h);
  if (bm && pbm->bmBits && !bm->Stock) {
    // bmWidthBytes rows of the caller
    size_t src = size_t(std::max<LONG>(pbm->bmWidthBytes, 0));
    size_t n = std::min(src, bm->Stride);
    for (int y = 0; y < bm->Height; ++y)
      std::memcpy(bm->Row(y), static_cast<const uint8_t*>(pbm->bmBits) + src * size_t(y), n);
  }
  return h;
}

HBITMAP CreateCompatibleBitmap(HDC hdc, int cx, int cy) {
  TDCObj* dc = LookupDC(hdc);
  if (!dc) return nullptr;
  // a memory DC holding a monochrome bitmap makes monochrome bitmaps
  bool mono = dc->IsMemory && dc->S.Bitmap && dc->S.Bitmap->IsMono();
  return CreateBitmap(cx, cy, 1, mono ? 1 : 32, nullptr);
}

HBITMAP CreateDIBSection(HDC hdc, const BITMAPINFO* pbmi, UINT usage, void** ppvBits, HANDLE, DWORD) {
  if (ppvBits) *ppvBits = nullptr;
  TDIBInfo info;
  if (!ReadInfo(pbmi, usage, info, hdc)) return nullptr;
  TBitmapObj* bm = NewBitmap(info.Width, info.Height, info.Bpp, true, info.TopDown);
  if (!bm) return nullptr;
  bm->Compression = info.Compression;
  std::copy(info.Masks, info.Masks + 3, bm->Masks);
  if (info.Bpp <= 8) {
    bm->Colors = info.Colors;
    bm->Colors.resize(size_t(1) << info.Bpp);
  }
  if (ppvBits) *ppvBits = bm->Bits;
  return static_cast<HBITMAP>(Register(bm));
}

HBITMAP CreateDIBitmap(HDC hdc, const BITMAPINFOHEADER* pbmih, DWORD flInit, const void* pjBits,
                       const BITMAPINFO* pbmi, UINT iUsage) {
  if (!pbmih) return nullptr;
  LONG w = pbmih->biWidth, h = pbmih->biHeight < 0 ? -pbmih->biHeight : pbmih->biHeight;
  if (pbmih->biSize == sizeof(BITMAPCOREHEADER)) {
    const auto* c = reinterpret_cast<const BITMAPCOREHEADER*>(pbmih);
    w = c->bcWidth;
    h = c->bcHeight;
  }
  HBITMAP bm = CreateCompatibleBitmap(hdc ? hdc : nullptr, w, h);
  if (!hdc) bm = CreateBitmap(w, h, 1, 32, nullptr);
  if (bm && (flInit & CBM_INIT) && pjBits && pbmi) SetDIBits(hdc, bm, 0, UINT(h), pjBits, pbmi, iUsage);
  return bm;
}

int GetDIBits(HDC hdc, HBITMAP hbm, UINT start, UINT cLines, LPVOID lpvBits, BITMAPINFO* lpbmi, UINT usage) {
  TBitmapObj* bm = LookupBitmap(hbm);
  if (!bm || !lpbmi) return 0;
  BITMAPINFOHEADER& h = lpbmi->bmiHeader;
  if (h.biSize < 40) return 0;
  if (h.biBitCount == 0) {
    // fill in the header of the bitmap's own format
    h.biWidth = bm->Width;
    h.biHeight = bm->IsDIB && bm->TopDown ? -bm->Height : bm->Height;
    h.biPlanes = 1;
    h.biBitCount = WORD(bm->BitsPixel);
    h.biCompression = bm->BitsPixel == 16 || (bm->BitsPixel == 32 && !bm->IsDirect32()) ? BI_BITFIELDS : BI_RGB;
    if (bm->BitsPixel == 32 && !bm->IsDIB) h.biCompression = BI_RGB;
    h.biSizeImage = DWORD(DIBStride(bm->Width, bm->BitsPixel) * size_t(bm->Height));
    h.biClrUsed = 0;
    h.biClrImportant = 0;
    if (h.biCompression == BI_BITFIELDS) std::memcpy(reinterpret_cast<uint8_t*>(lpbmi) + 40, bm->Masks, 12);
    return 1;
  }
  TDIBInfo out;
  if (!ReadInfo(lpbmi, DIB_RGB_COLORS, out, hdc)) return 0;
  (void)usage;
  // colour tables of indexed formats: the bitmap's own, or a default one
  if (out.Bpp <= 8) {
    out.Colors = bm->BitsPixel == out.Bpp ? bm->Colors : DefaultColors(out.Bpp);
    out.Colors.resize(size_t(1) << out.Bpp);
    auto* q = reinterpret_cast<RGBQUAD*>(reinterpret_cast<uint8_t*>(lpbmi) + h.biSize);
    std::copy(out.Colors.begin(), out.Colors.end(), q);
    h.biClrUsed = 0;
  }
  h.biSizeImage = DWORD(out.Stride * size_t(out.Height));
  if (!lpvBits) return int(bm->Height);
  if (start >= UINT(bm->Height)) return 0;
  UINT lines = std::min<UINT>(cLines, UINT(std::min(bm->Height, out.Height)) - std::min<UINT>(start, UINT(out.Height)));
  if (start >= UINT(out.Height)) return 0;
  TFormat src = FormatOf(bm);
  TFormat dst = FormatOf(out);
  TNearest nearest(dst);
  std::vector<uint32_t> row(size_t(bm->Width));
  std::vector<uint32_t> wide(size_t(out.Width), 0);
  int width = std::min(bm->Width, out.Width);
  // scan lines count from the bottom for bottom-up buffers
  for (UINT i = 0; i < lines; ++i) {
    UINT scan = start + i;
    int picY = out.TopDown ? int(scan) : bm->Height - 1 - int(scan);
    if (picY < 0 || picY >= bm->Height) continue;
    DecodeRow(src, bm->Row(picY), bm->Width, row.data());
    std::copy_n(row.begin(), width, wide.begin());
    uint8_t* dstRow = static_cast<uint8_t*>(lpvBits) + out.Stride * size_t(i);
    EncodeRow(dst, wide.data(), out.Width, dstRow, &nearest);
  }
  return int(lines);
}

int SetDIBits(HDC hdc, HBITMAP hbm, UINT start, UINT cLines, const void* lpBits, const BITMAPINFO* lpbmi,
              UINT ColorUse) {
  TBitmapObj* bm = LookupBitmap(hbm);
  if (!bm || !lpBits || bm->Stock) return 0;
  TDIBInfo in;
  if (!ReadInfo(lpbmi, ColorUse, in, hdc)) return 0;
  if (start >= UINT(in.Height)) return 0;
  UINT lines = std::min<UINT>(cLines, UINT(in.Height) - start);
  TFormat src = FormatOf(in);
  TFormat dst = FormatOf(bm);
  TNearest nearest(dst);
  std::vector<uint32_t> row(size_t(in.Width));
  std::vector<uint32_t> wide(size_t(bm->Width), 0);
  int width = std::min(bm->Width, in.Width);
  for (UINT i = 0; i < lines; ++i) {
    UINT scan = start + i;
    int picY = in.TopDown ? int(scan) : in.Height - 1 - int(scan);
    if (picY < 0 || picY >= bm->Height) continue;
    DecodeRow(src, static_cast<const uint8_t*>(lpBits) + in.Stride * size_t(i), in.Width, row.data());
    DecodeRow(dst, bm->Row(picY), bm->Width, wide.data());
    std::copy_n(row.begin(), width, wide.begin());
    if (!dst.MaskedAlpha && bm->BitsPixel == 32)
      for (auto& p : wide) p &= 0xFFFFFF;
    EncodeRow(dst, wide.data(), bm->Width, bm->Row(picY), &nearest);
  }
  return int(lines);
}

LONG GetBitmapBits(HBITMAP hbit, LONG cb, LPVOID lpvBits) {
  TBitmapObj* bm = LookupBitmap(hbit);
  if (!bm || cb < 0) return 0;
  size_t stride = bm->IsDIB ? DIBStride(bm->Width, bm->BitsPixel) : bm->Stride;
  if (!bm->IsDIB && bm->BitsPixel != 32) stride = DDBStride(bm->Width, bm->BitsPixel);
  size_t total = stride * size_t(bm->Height);
  if (!lpvBits) return LONG(total);
  size_t n = std::min(total, size_t(cb));
  auto* out = static_cast<uint8_t*>(lpvBits);
  for (int y = 0; y < bm->Height && size_t(y) * stride < n; ++y)
    std::memcpy(out + size_t(y) * stride, bm->Row(y), std::min(stride, n - size_t(y) * stride));
  return LONG(n);
}

LONG SetBitmapBits(HBITMAP hbm, DWORD cb, const void* pvBits) {
  TBitmapObj* bm = LookupBitmap(hbm);
  if (!bm || !pvBits || bm->Stock) return 0;
  size_t stride = bm->Stride;
  size_t total = stride * size_t(bm->Height);
  size_t n = std::min(total, size_t(cb));
  const auto* in = static_cast<const uint8_t*>(pvBits);
  for (int y = 0; y < bm->Height && size_t(y) * stride < n; ++y)
    std::memcpy(bm->Row(y), in + size_t(y) * stride, std::min(stride, n - size_t(y) * stride));
  return LONG(n);
}

BOOL GetBitmapDimensionEx(HBITMAP hbit, LPSIZE lpsize) {
  TBitmapObj* bm = LookupBitmap(hbit);
  if (!bm) return 0;
  if (lpsize) *lpsize = bm->Dimension;
  return 1;
}

UINT GetDIBColorTable(HDC hdc, UINT iStart, UINT cEntries, RGBQUAD* prgbq) {
  TDCObj* dc = LookupDC(hdc);
  if (!dc || !dc->IsMemory || !dc->S.Bitmap || !dc->S.Bitmap->IsDIB || dc->S.Bitmap->BitsPixel > 8) return 0;
  auto& c = dc->S.Bitmap->Colors;
  if (iStart >= c.size() || !prgbq) return 0;
  UINT n = std::min<UINT>(cEntries, UINT(c.size()) - iStart);
  std::copy_n(c.begin() + iStart, n, prgbq);
  return n;
}

UINT SetDIBColorTable(HDC hdc, UINT iStart, UINT cEntries, const RGBQUAD* prgbq) {
  TDCObj* dc = LookupDC(hdc);
  if (!dc || !dc->IsMemory || !dc->S.Bitmap || !dc->S.Bitmap->IsDIB || dc->S.Bitmap->BitsPixel > 8) return 0;
  auto& c = dc->S.Bitmap->Colors;
  if (iStart >= c.size() || !prgbq) return 0;
  UINT n = std::min<UINT>(cEntries, UINT(c.size()) - iStart);
  std::copy_n(prgbq, n, c.begin() + iStart);
  return n;
}

}  // namespace win

namespace win {

HBRUSH CreateDIBPatternBrushPt(const void* lpPackedDIB, UINT iUsage) {
  const auto* bi = static_cast<const BITMAPINFO*>(lpPackedDIB);
  TDIBInfo info;
  if (!ReadInfo(bi, iUsage, info, nullptr)) return nullptr;
  size_t header = bi->bmiHeader.biSize == sizeof(BITMAPCOREHEADER) ? sizeof(BITMAPCOREHEADER) : bi->bmiHeader.biSize;
  if (info.Compression == BI_BITFIELDS && header < 52) header += 12;
  size_t table = info.Bpp <= 8 ? info.Colors.size() * (iUsage == DIB_PAL_COLORS ? 2 : 4) : 0;
  if (bi->bmiHeader.biSize == sizeof(BITMAPCOREHEADER)) table = info.Colors.size() * 3;
  const auto* bits = static_cast<const uint8_t*>(lpPackedDIB) + header + table;
  void* dst = nullptr;
  HBITMAP bm = CreateDIBSection(nullptr, bi, iUsage, &dst, nullptr, 0);
  if (!bm) return nullptr;
  std::memcpy(dst, bits, info.Stride * size_t(info.Height));
  HBRUSH br = CreatePatternBrush(bm);
  if (TBrushObj* b = LookupBrush(br)) {
    b->Style = BS_DIBPATTERN;
    b->PatternBitmap = nullptr;
  }
  DeleteObject(bm);
  return br;
}

}  // namespace win
