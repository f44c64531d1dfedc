// The user32 image loaders: LoadBitmapW, LoadImageW and CopyImage for
// bitmaps, icons and cursors, from the embedded resources, from files, or the
// system's own images.
#include <algorithm>
#include <cstring>
#include <fstream>
#include <map>
#include <mutex>
#include <tuple>

#include "platform/classes/Resources.h"
#include "platform/rtl/CodePages.h"
#include "platform/win/GdiInternal.h"
#include "platform/win/ImageCodecs.h"
#include "platform/win/SysMetrics.h"
#include "platform/win/Windows.h"

namespace win {

using namespace gdi;

namespace {

constexpr size_t MaxFileSize = size_t(256) << 20;

uint16_t Le16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }
uint32_t Le32(const uint8_t* p) { return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24); }

bool ReadWholeFile(LPCWSTR name, std::vector<uint8_t>& out) {
  if (!name || IS_INTRESOURCE(name)) return false;
  std::ifstream f(UTF16ToUTF8(String(name)), std::ios::binary | std::ios::ate);
  if (!f) return false;
  std::streamoff n = f.tellg();
  if (n <= 0 || uint64_t(n) > MaxFileSize) return false;
  out.resize(size_t(n));
  f.seekg(0);
  return bool(f.read(reinterpret_cast<char*>(out.data()), n));
}

// The bytes of a program resource (valid for the program's life), or nil.
const uint8_t* ResourceBytes(HINSTANCE inst, LPCWSTR name, const Char* type, size_t* size) {
  if (!name) return nullptr;
  HRSRC r = FindResourceW(inst, name, type);
  if (!r) return nullptr;
  *size = SizeofResource(inst, r);
  return static_cast<const uint8_t*>(LockResource(LoadResource(inst, r)));
}

// A 1-bit DIB section with a black and white table.
HBITMAP NewMonoDib(int w, int h) {
  std::vector<uint8_t> info(sizeof(BITMAPINFOHEADER) + 2 * sizeof(RGBQUAD), 0);
  auto* bi = reinterpret_cast<BITMAPINFO*>(info.data());
  bi->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bi->bmiHeader.biWidth = w;
  bi->bmiHeader.biHeight = h;
  bi->bmiHeader.biPlanes = 1;
  bi->bmiHeader.biBitCount = 1;
  bi->bmiHeader.biClrUsed = 2;
  reinterpret_cast<RGBQUAD*>(info.data() + sizeof(BITMAPINFOHEADER))[1] = RGBQUAD{255, 255, 255, 0};
  void* bits = nullptr;
  return CreateDIBSection(nullptr, bi, DIB_RGB_COLORS, &bits, nullptr, 0);
}

// The pixels of a bitmap, sampled to w x h (nearest pixel).
std::vector<uint32_t> Sampled(TBitmapObj* b, int w, int h) {
  TSurface s = BitmapSurface(b);
  std::vector<uint32_t> out(size_t(w) * size_t(h));
  for (int y = 0; y < h; ++y) {
    const uint32_t* row = s.Row(int(int64_t(y) * b->Height / h));
    for (int x = 0; x < w; ++x) out[size_t(y) * size_t(w) + size_t(x)] = row[int64_t(x) * b->Width / w];
  }
  return out;
}

void PutPixels(HBITMAP hbm, const std::vector<uint32_t>& px, bool mono) {
  TBitmapObj* b = LookupBitmap(hbm);
  TSurface s = BitmapSurface(b, false);
  for (int y = 0; y < b->Height; ++y)
    for (int x = 0; x < b->Width; ++x) {
      uint32_t v = px[size_t(y) * size_t(b->Width) + size_t(x)];
      s.Row(y)[x] = mono ? MonoPixel(PixelToColor(v)) : v;
    }
  BitmapCommit(b);
}

// The bitmap as the caller asked for it (src is left alone): monochrome with
// LR_MONOCHROME, a DIB section with LR_CREATEDIBSECTION (of src's own format
// when it is one of the same size), otherwise a device bitmap (1 bit for a
// monochrome source).
HBITMAP ConvertBitmap(HBITMAP src, int w, int h, UINT flags) {
  TBitmapObj* b = LookupBitmap(src);
  if (!b || w <= 0 || h <= 0 || int64_t(w) * h > MaxImagePixels) return nullptr;
  bool sameSize = w == b->Width && h == b->Height;
  if ((flags & LR_CREATEDIBSECTION) && !(flags & LR_MONOCHROME) && b->IsDIB && sameSize) {
    try {
      std::vector<uint8_t> file = WriteBmpFile(src);
      return ReadBmpFile(file.data(), file.size());
    } catch (const EImageCodecError&) {
      return nullptr;
    }
  }
  bool mono = (flags & LR_MONOCHROME) || (b->IsMono() && !(flags & LR_CREATEDIBSECTION));
  HBITMAP out = nullptr;
  if (mono) out = (flags & LR_CREATEDIBSECTION) ? NewMonoDib(w, h) : CreateBitmap(w, h, 1, 1, nullptr);
  else if (flags & LR_CREATEDIBSECTION) {
    uint32_t* bits = nullptr;
    out = NewDib32(w, h, &bits);
  } else {
    out = CreateBitmap(w, h, 1, 32, nullptr);
  }
  if (!out) return nullptr;
  PutPixels(out, Sampled(b, w, h), mono);
  return out;
}

// The colour-table changes of LR_LOADTRANSPARENT and LR_LOADMAP3DCOLORS
// (palette images only).
void MapColorTable(HBITMAP hbm, UINT flags) {
  TBitmapObj* b = LookupBitmap(hbm);
  if (!b || !b->IsDIB || b->BitsPixel > 8 || b->Colors.empty() || b->Compression != BI_RGB) return;
  std::vector<RGBQUAD> table = b->Colors;
  auto quad = [](int index) {
    COLORREF c = GetSysColor(index);
    return RGBQUAD{GetBValue(c), GetGValue(c), GetRValue(c), 0};
  };
  if (flags & LR_LOADMAP3DCOLORS)
    for (RGBQUAD& q : table) {
      if (q.rgbRed != q.rgbGreen || q.rgbGreen != q.rgbBlue) continue;
      if (q.rgbRed == 128) q = quad(COLOR_3DSHADOW);
      else if (q.rgbRed == 192) q = quad(COLOR_3DFACE);
      else if (q.rgbRed == 223) q = quad(COLOR_3DLIGHT);
    }
  if (flags & LR_LOADTRANSPARENT) {
    // the first pixel of the bits (the bottom-left one of a bottom-up DIB)
    const uint8_t* first = b->TopDown ? b->Row(0) : b->Row(b->Height - 1);
    unsigned index = first[0] >> (8 - b->BitsPixel);
    if (index < table.size()) table[index] = quad((flags & LR_LOADMAP3DCOLORS) ? COLOR_3DFACE : COLOR_WINDOW);
  }
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, hbm);
  SetDIBColorTable(dc, 0, UINT(table.size()), table.data());
  SelectObject(dc, old);
  DeleteDC(dc);
}

HBITMAP LoadBitmapImage(HINSTANCE inst, LPCWSTR name, int cx, int cy, UINT flags) {
  HBITMAP loaded = nullptr;
  try {
    if (flags & LR_LOADFROMFILE) {
      std::vector<uint8_t> file;
      if (!ReadWholeFile(name, file)) return nullptr;
      loaded = ReadBmpFile(file.data(), file.size());
    } else if (!inst) {
      if (name == MAKEINTRESOURCEW(OBM_CHECKBOXES)) loaded = CreateCheckBoxesBitmap();
    } else {
      size_t size = 0;
      const uint8_t* data = ResourceBytes(inst, name, RT_BITMAP, &size);
      if (data) loaded = ReadPackedDib(data, size);
    }
  } catch (const EImageCodecError&) {
    loaded = nullptr;
  }
  if (!loaded) return nullptr;
  if (flags & (LR_LOADTRANSPARENT | LR_LOADMAP3DCOLORS)) MapColorTable(loaded, flags);
  BITMAP bm{};
  GetObjectW(loaded, sizeof bm, &bm);
  HBITMAP out = ConvertBitmap(loaded, cx > 0 ? cx : bm.bmWidth, cy > 0 ? cy : bm.bmHeight, flags);
  DeleteObject(loaded);
  return out;
}

// ---------------------------------------------------------------------------
// Icon and cursor files

struct TDirEntry {
  int Width = 0, Height = 0;
  int HotX = 0, HotY = 0;
  size_t Offset = 0, Size = 0;
};

// The directory of an .ico or .cur file; false when it is not one.
bool ReadDirectory(const uint8_t* p, size_t n, std::vector<TDirEntry>& out, bool* cursorFile) {
  if (!p || n < 6 || Le16(p) != 0 || (Le16(p + 2) != 1 && Le16(p + 2) != 2)) return false;
  *cursorFile = Le16(p + 2) == 2;
  size_t count = Le16(p + 4);
  if (count == 0 || 6 + 16 * count > n) return false;
  for (size_t i = 0; i < count; ++i) {
    const uint8_t* e = p + 6 + 16 * i;
    TDirEntry d;
    d.Width = e[0] ? e[0] : 256;
    d.Height = e[1] ? e[1] : 256;
    d.HotX = *cursorFile ? Le16(e + 4) : 0;
    d.HotY = *cursorFile ? Le16(e + 6) : 0;
    d.Size = Le32(e + 8);
    d.Offset = Le32(e + 12);
    if (d.Offset > n || d.Size > n - d.Offset || d.Size < 8) return false;
    out.push_back(d);
  }
  return true;
}

// One image of the file: colour (nil for monochrome images) and mask (for
// monochrome images the AND rows above the XOR rows, twice the height).
struct TIconBits {
  HBITMAP Color = nullptr, Mask = nullptr;
  int Width = 0, Height = 0;
  void Free() {
    if (Color) DeleteObject(Color);
    if (Mask) DeleteObject(Mask);
    Color = Mask = nullptr;
  }
};

TIconBits DecodeImage(const uint8_t* p, size_t n) {
  TIconBits r;
  static const uint8_t png[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  if (n >= 8 && std::memcmp(p, png, 8) == 0) {
    TDecodedImage img = DecodePng(p, n);
    uint32_t* bits = nullptr;
    r.Color = NewDib32(img.Width, img.Height, &bits);
    r.Mask = CreateBitmap(img.Width, img.Height, 1, 1, nullptr);
    if (!r.Color || !r.Mask) {
      r.Free();
      return r;
    }
    std::memcpy(bits, img.Pixels.data(), img.Pixels.size() * 4);
    std::vector<uint32_t> mask(img.Pixels.size());
    for (size_t k = 0; k < mask.size(); ++k) mask[k] = (img.Pixels[k] >> 24) ? 0 : 0x00FFFFFFu;
    PutPixels(r.Mask, mask, false);
    r.Width = img.Width;
    r.Height = img.Height;
    return r;
  }
  if (n < 40 || Le32(p) < 40 || Le32(p) > n) throw EImageCodecError(u"Icon: bad image header");
  uint32_t hs = Le32(p);
  int32_t w = int32_t(Le32(p + 4)), h2 = int32_t(Le32(p + 8));
  int bpp = Le16(p + 14);
  uint32_t clrUsed = Le32(p + 32);
  if (w <= 0 || w > 1024 || h2 < 2 || h2 > 2048 || (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 24 && bpp != 32) ||
      Le32(p + 16) != BI_RGB)
    throw EImageCodecError(u"Icon: unsupported image");
  int h = h2 / 2;
  size_t colors = bpp <= 8 ? (clrUsed && clrUsed < (1u << bpp) ? clrUsed : (1u << bpp)) : 0;
  size_t xorStride = size_t(((int64_t(w) * bpp + 31) / 32) * 4), andStride = size_t(((w + 31) / 32) * 4);
  size_t xorOffset = hs + colors * 4, andOffset = xorOffset + xorStride * size_t(h);
  if (andOffset > n) throw EImageCodecError(u"Icon: image truncated");
  const uint8_t* andRows = andOffset + andStride * size_t(h) <= n ? p + andOffset : nullptr;  // none: opaque
  auto andBit = [&](int x, int y) {  // y from the top
    return andRows && (andRows[size_t(h - 1 - y) * andStride + size_t(x / 8)] & (0x80 >> (x % 8)));
  };
  // the colour rows as a packed DIB of the image's own height
  std::vector<uint8_t> packed(p, p + andOffset);
  uint32_t hh = uint32_t(h);
  std::memcpy(packed.data() + 8, &hh, 4);
  HBITMAP xorBm = ReadPackedDib(packed.data(), packed.size());
  TBitmapObj* xb = LookupBitmap(xorBm);
  TSurface xs = BitmapSurface(xb);
  r.Width = w;
  r.Height = h;
  if (bpp == 1) {
    r.Mask = CreateBitmap(w, 2 * h, 1, 1, nullptr);
    std::vector<uint32_t> px(size_t(w) * size_t(2 * h));
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        px[size_t(y) * size_t(w) + size_t(x)] = andBit(x, y) ? 0x00FFFFFFu : 0;
        px[size_t(h + y) * size_t(w) + size_t(x)] = MonoPixel(PixelToColor(xs.Row(y)[x]));
      }
    PutPixels(r.Mask, px, false);
  } else {
    uint32_t* bits = nullptr;
    r.Color = NewDib32(w, h, &bits);
    r.Mask = CreateBitmap(w, h, 1, 1, nullptr);
    std::vector<uint32_t> mask(size_t(w) * size_t(h));
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        uint32_t v = xs.Row(y)[x];
        bits[size_t(y) * size_t(w) + size_t(x)] = bpp == 32 ? v : (v & 0x00FFFFFFu);
        mask[size_t(y) * size_t(w) + size_t(x)] = andBit(x, y) ? 0x00FFFFFFu : 0;
      }
    PutPixels(r.Mask, mask, false);
  }
  DeleteObject(xorBm);
  return r;
}

// The bits stretched to w x h (nearest pixel); the halves of a monochrome
// mask are stretched each on its own.
TIconBits Stretched(const TIconBits& src, int w, int h) {
  TIconBits r;
  r.Width = w;
  r.Height = h;
  TBitmapObj* m = LookupBitmap(src.Mask);
  if (src.Color) {
    r.Color = ConvertBitmap(src.Color, w, h, LR_CREATEDIBSECTION);
    r.Mask = ConvertBitmap(src.Mask, w, h, LR_MONOCHROME);
    return r;
  }
  TSurface s = BitmapSurface(m);
  std::vector<uint32_t> px(size_t(w) * size_t(2 * h));
  for (int half = 0; half < 2; ++half)
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        px[size_t(half * h + y) * size_t(w) + size_t(x)] =
            s.Row(half * src.Height + int(int64_t(y) * src.Height / h))[int64_t(x) * src.Width / w];
  r.Mask = CreateBitmap(w, 2 * h, 1, 1, nullptr);
  PutPixels(r.Mask, px, false);
  return r;
}

HICON MakeIcon(const TIconBits& bits, bool icon, int hotX, int hotY) {
  ICONINFO ii{icon ? TRUE : FALSE, DWORD(hotX), DWORD(hotY), bits.Mask, bits.Color};
  return CreateIconIndirect(&ii);
}

int DefaultSize(UINT type, bool vertical) {
  if (type == IMAGE_CURSOR) return DefaultSystemMetric(vertical ? SM_CYCURSOR : SM_CXCURSOR, 0, 0);
  return DefaultSystemMetric(vertical ? SM_CYICON : SM_CXICON, 0, 0);
}

// An icon or cursor from the bytes of an .ico or .cur file at cx x cy (0:
// the first image's size, or the system size with LR_DEFAULTSIZE).
HICON IconFromFile(const uint8_t* data, size_t size, UINT type, int cx, int cy, UINT flags) {
  std::vector<TDirEntry> dir;
  bool cursorFile = false;
  if (!ReadDirectory(data, size, dir, &cursorFile)) return nullptr;
  if (cx <= 0) cx = (flags & LR_DEFAULTSIZE) ? DefaultSize(type, false) : dir[0].Width;
  if (cy <= 0) cy = (flags & LR_DEFAULTSIZE) ? DefaultSize(type, true) : dir[0].Height;
  if (cx > 1024 || cy > 1024) return nullptr;
  // the image nearest the size asked for, the first of equals
  const TDirEntry* best = &dir[0];
  for (const TDirEntry& d : dir)
    if (std::abs(d.Width - cx) + std::abs(d.Height - cy) < std::abs(best->Width - cx) + std::abs(best->Height - cy))
      best = &d;
  TIconBits bits;
  try {
    bits = DecodeImage(data + best->Offset, best->Size);
  } catch (const EImageCodecError&) {
    return nullptr;
  }
  if (!bits.Mask) return nullptr;
  int hotX = best->HotX, hotY = best->HotY;
  if (bits.Width != cx || bits.Height != cy) {
    TIconBits s = Stretched(bits, cx, cy);
    hotX = int(int64_t(hotX) * cx / bits.Width);
    hotY = int(int64_t(hotY) * cy / bits.Height);
    bits.Free();
    bits = s;
  }
  HICON h = MakeIcon(bits, type == IMAGE_ICON, std::min(hotX, cx - 1), std::min(hotY, cy - 1));
  bits.Free();
  return h;
}

// Shared icons and cursors by resource, type and size.
using TSharedKey = std::tuple<const void*, uintptr_t, UINT, int, int>;
std::map<TSharedKey, HICON>& SharedIcons() {
  static auto* m = new std::map<TSharedKey, HICON>();
  return *m;
}
std::mutex& SharedLock() {
  static auto* m = new std::mutex();
  return *m;
}

HICON LoadIconImage(HINSTANCE inst, LPCWSTR name, UINT type, int cx, int cy, UINT flags) {
  if (!name) return nullptr;
  if (!inst && !(flags & LR_LOADFROMFILE)) {
    // the system's: the window system's cursors, our drawn icons
    if (!IS_INTRESOURCE(name)) return nullptr;
    if (type == IMAGE_CURSOR) return LoadCursorW(nullptr, name);
    int id = int(reinterpret_cast<uintptr_t>(name));
    if (!(flags & LR_SHARED)) return CreateSystemIcon(id);
    std::lock_guard<std::mutex> lock(SharedLock());
    HICON& h = SharedIcons()[TSharedKey{nullptr, uintptr_t(id), type, 0, 0}];
    if (!h && (h = CreateSystemIcon(id))) SetIconOrigin(h, true, nullptr, 0);
    return h;
  }
  if (flags & LR_LOADFROMFILE) {
    std::vector<uint8_t> file;
    if (!ReadWholeFile(name, file)) return nullptr;
    return IconFromFile(file.data(), file.size(), type, cx, cy, flags);
  }
  size_t size = 0;
  const uint8_t* data = ResourceBytes(inst, name, type == IMAGE_ICON ? RT_GROUP_ICON : RT_GROUP_CURSOR, &size);
  if (!data) return nullptr;
  if (!(flags & LR_SHARED)) {
    HICON h = IconFromFile(data, size, type, cx, cy, flags);
    if (h) SetIconOrigin(h, false, data, size);
    return h;
  }
  std::lock_guard<std::mutex> lock(SharedLock());
  HICON& h = SharedIcons()[TSharedKey{data, 0, type, cx, cy}];
  if (!h && (h = IconFromFile(data, size, type, cx, cy, flags))) SetIconOrigin(h, true, data, size);
  return h;
}

HICON CopyIconImage(HICON src, UINT type, int cx, int cy, UINT flags) {
  ICONINFO ii{};
  if (!GetIconInfo(src, &ii)) return nullptr;
  BITMAP bm{};
  GetObjectW(ii.hbmMask, sizeof bm, &bm);
  TIconBits bits;
  bits.Color = ii.hbmColor;
  bits.Mask = ii.hbmMask;
  bits.Width = bm.bmWidth;
  bits.Height = ii.hbmColor ? bm.bmHeight : bm.bmHeight / 2;
  if (cx <= 0) cx = (flags & LR_DEFAULTSIZE) ? DefaultSize(type, false) : bits.Width;
  if (cy <= 0) cy = (flags & LR_DEFAULTSIZE) ? DefaultSize(type, true) : bits.Height;
  HICON out = nullptr;
  const uint8_t* source = nullptr;
  size_t size = 0;
  if ((flags & LR_COPYRETURNORG) && cx == bits.Width && cy == bits.Height && !(flags & LR_MONOCHROME)) {
    out = src;
  } else if ((flags & LR_COPYFROMRESOURCE) && IconOrigin(src, &source, &size)) {
    out = IconFromFile(source, size, type, cx, cy, flags & ~LR_SHARED);
    if (out) SetIconOrigin(out, false, source, size);
  } else if (bits.Width > 0 && bits.Height > 0 && cx <= 1024 && cy <= 1024) {
    TIconBits s = Stretched(bits, cx, cy);
    out = MakeIcon(s, ii.fIcon != 0, int(int64_t(ii.xHotspot) * cx / bits.Width),
                   int(int64_t(ii.yHotspot) * cy / bits.Height));
    s.Free();
  }
  bits.Free();
  return out;
}

}  // namespace

HICON ReadIconFile(const uint8_t* data, size_t size, UINT type, int cx, int cy, UINT flags) {
  if (!data || (type != IMAGE_ICON && type != IMAGE_CURSOR)) return nullptr;
  return IconFromFile(data, size, type, cx, cy, flags & ~UINT(LR_SHARED));
}

HBITMAP LoadBitmapW(HINSTANCE hInstance, LPCWSTR lpBitmapName) {
  return LoadBitmapImage(hInstance, lpBitmapName, 0, 0, 0);
}

HANDLE LoadImageW(HINSTANCE hInst, LPCWSTR name, UINT type, int cx, int cy, UINT fuLoad) {
  if (cx < 0 || cy < 0) return nullptr;
  switch (type) {
    case IMAGE_BITMAP: return LoadBitmapImage(hInst, name, cx, cy, fuLoad);
    case IMAGE_ICON:
    case IMAGE_CURSOR: return LoadIconImage(hInst, name, type, cx, cy, fuLoad);
    default: return nullptr;
  }
}

HANDLE CopyImage(HANDLE h, UINT type, int cx, int cy, UINT flags) {
  if (cx < 0 || cy < 0) return nullptr;
  HANDLE out = nullptr;
  if (type == IMAGE_BITMAP) {
    auto src = static_cast<HBITMAP>(h);
    BITMAP bm{};
    if (!LookupBitmap(src) || !GetObjectW(src, sizeof bm, &bm)) return nullptr;
    int w = cx ? cx : bm.bmWidth, hh = cy ? cy : bm.bmHeight;
    if ((flags & LR_COPYRETURNORG) && w == bm.bmWidth && hh == bm.bmHeight && !(flags & LR_MONOCHROME)) return h;
    out = ConvertBitmap(src, w, hh, flags);
    if (out && (flags & LR_COPYDELETEORG)) DeleteObject(src);
  } else if (type == IMAGE_ICON || type == IMAGE_CURSOR) {
    out = CopyIconImage(static_cast<HICON>(h), type, cx, cy, flags);
    if (out && out != h && (flags & LR_COPYDELETEORG)) DestroyIcon(static_cast<HICON>(h));
  }
  return out;
}

namespace gdi {

BITMAPINFO Dib32Info(int w, int h) {
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = -h;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  return bi;
}

HBITMAP NewDib32(int w, int h, uint32_t** bits) {
  BITMAPINFO bi = Dib32Info(w, h);
  void* b = nullptr;
  HBITMAP hbm = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &b, nullptr, 0);
  if (bits) *bits = static_cast<uint32_t*>(b);
  return hbm;
}

}  // namespace gdi

}  // namespace win
