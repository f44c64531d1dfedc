// Image lists: each image is kept as BGRA pixels with a mask (1 =
// transparent); the strip bitmaps that GetImageInfo reports are made from
// them on demand (images side by side in one row).
#include "platform/win/ImageList.h"

#include <algorithm>
#include <cstring>

#include "platform/classes/Streams.h"
#include "platform/win/GdiInternal.h"
#include "platform/win/ImageCodecs.h"
#include "platform/win/Windows.h"

namespace win {

using namespace gdi;

namespace {

constexpr DWORD OBJ_IMAGELIST_INTERNAL = 0x101;

struct TImage {
  std::vector<uint32_t> Pixels;
  std::vector<uint8_t> Mask;  // 1 = transparent
};

struct TImageListObj : TGdiObject {
  int Cx = 0, Cy = 0;
  UINT Flags = 0;
  int Grow = 4;
  int Capacity = 0;
  COLORREF BkColor = CLR_NONE;
  std::vector<TImage> Images;
  HBITMAP StripImage = nullptr, StripMask = nullptr;
  bool Dirty = true;
  ~TImageListObj() override {
    if (StripImage) DeleteObject(StripImage);
    if (StripMask) DeleteObject(StripMask);
  }
  bool HasMask() const { return Flags & ILC_MASK; }
};

TImageListObj* LookupList(HIMAGELIST h) { return static_cast<TImageListObj*>(Lookup(h, OBJ_IMAGELIST_INTERNAL)); }

// The pixels of a bitmap in 32-bit form (nil for a bad handle).
bool ReadPixels(HBITMAP hbm, int& w, int& h, std::vector<uint32_t>& out, bool& mono) {
  TBitmapObj* b = LookupBitmap(hbm);
  if (!b) return false;
  w = b->Width;
  h = b->Height;
  mono = b->IsMono();
  TSurface s = BitmapSurface(b);
  out.resize(size_t(w) * size_t(h));
  for (int y = 0; y < h; ++y) std::memcpy(out.data() + size_t(y) * size_t(w), s.Row(y), size_t(w) * 4);
  return true;
}

// Cuts a bitmap (and mask) into images of the list's size.
std::vector<TImage> Tiles(TImageListObj* il, HBITMAP hbmImage, HBITMAP hbmMask, bool useKey, COLORREF key) {
  std::vector<TImage> out;
  int w = 0, h = 0, mw = 0, mh = 0;
  bool mono = false, mmono = false;
  std::vector<uint32_t> px, mpx;
  if (!ReadPixels(hbmImage, w, h, px, mono)) return out;
  bool haveMask = hbmMask && ReadPixels(hbmMask, mw, mh, mpx, mmono);
  int n = std::max(1, w / il->Cx);
  uint32_t keyPx = ColorToPixel(key);
  for (int k = 0; k < n; ++k) {
    TImage img;
    img.Pixels.assign(size_t(il->Cx) * size_t(il->Cy), 0);
    img.Mask.assign(size_t(il->Cx) * size_t(il->Cy), 0);
    for (int y = 0; y < il->Cy; ++y)
      for (int x = 0; x < il->Cx; ++x) {
        int sx = k * il->Cx + x;
        size_t d = size_t(y) * size_t(il->Cx) + size_t(x);
        if (sx >= w || y >= h) {
          img.Mask[d] = 1;
          continue;
        }
        uint32_t v = px[size_t(y) * size_t(w) + size_t(sx)];
        if (mono) v = (v & 0xFFFFFF) ? 0x00FFFFFFu : 0;
        if (useKey && (v & 0xFFFFFF) == keyPx) {
          img.Mask[d] = 1;
          v = 0;  // the masked colour turns black in the image
        } else if (haveMask && sx < mw && y < mh) {
          img.Mask[d] = (mpx[size_t(y) * size_t(mw) + size_t(sx)] & 0xFFFFFF) ? 1 : 0;
        }
        img.Pixels[d] = v;
      }
    if (!il->HasMask()) std::fill(img.Mask.begin(), img.Mask.end(), 0);
    out.push_back(std::move(img));
  }
  return out;
}

void RebuildStrips(TImageListObj* il) {
  if (!il->Dirty && il->StripImage) return;
  if (il->StripImage) DeleteObject(il->StripImage);
  if (il->StripMask) DeleteObject(il->StripMask);
  il->StripImage = il->StripMask = nullptr;
  int n = std::max<int>(1, int(il->Images.size()));
  il->StripImage = NewDib32(il->Cx * n, il->Cy);
  if (il->HasMask()) il->StripMask = CreateBitmap(il->Cx * n, il->Cy, 1, 1, nullptr);
  TBitmapObj* img = LookupBitmap(il->StripImage);
  TBitmapObj* msk = LookupBitmap(il->StripMask);
  if (!img) return;
  TSurface si = BitmapSurface(img);
  TSurface sm = msk ? BitmapSurface(msk) : TSurface{};
  for (size_t k = 0; k < il->Images.size(); ++k)
    for (int y = 0; y < il->Cy; ++y)
      for (int x = 0; x < il->Cx; ++x) {
        size_t d = size_t(y) * size_t(il->Cx) + size_t(x);
        si.Row(y)[int(k) * il->Cx + x] = il->Images[k].Pixels[d];
        if (msk) sm.Row(y)[int(k) * il->Cx + x] = il->Images[k].Mask[d] ? 0x00FFFFFFu : 0;
      }
  BitmapCommit(img);
  if (msk) BitmapCommit(msk);
  il->Dirty = false;
}

inline uint32_t Mix(uint32_t a, uint32_t b, uint32_t f /* 0..255 weight of b */) {
  uint32_t out = 0;
  for (int s = 0; s < 24; s += 8) {
    uint32_t ca = (a >> s) & 0xFF, cb = (b >> s) & 0xFF;
    out |= ((ca * (255 - f) + cb * f + 127) / 255) << s;
  }
  return out;
}

}  // namespace

void InitCommonControls() {}

HIMAGELIST ImageList_Create(int cx, int cy, UINT flags, int cInitial, int cGrow) {
  if (cx <= 0 || cy <= 0 || int64_t(cx) * cy > (int64_t(1) << 24)) return nullptr;
  auto* il = new TImageListObj();
  il->Type = OBJ_IMAGELIST_INTERNAL;
  il->Cx = cx;
  il->Cy = cy;
  il->Flags = flags;
  il->Grow = std::max(cGrow, 1);
  il->Capacity = std::max(cInitial, 0);
  return static_cast<HIMAGELIST>(Register(il));
}

BOOL ImageList_Destroy(HIMAGELIST himl) {
  TImageListObj* il = LookupList(himl);
  if (!il) return FALSE;
  Destroy(il);
  return TRUE;
}

int ImageList_GetImageCount(HIMAGELIST himl) {
  TImageListObj* il = LookupList(himl);
  return il ? int(il->Images.size()) : 0;
}

BOOL ImageList_SetImageCount(HIMAGELIST himl, UINT n) {
  TImageListObj* il = LookupList(himl);
  if (!il || n > 100000) return FALSE;
  TImage blank;
  blank.Pixels.assign(size_t(il->Cx) * size_t(il->Cy), 0);
  blank.Mask.assign(size_t(il->Cx) * size_t(il->Cy), 0);
  il->Images.resize(n, blank);
  il->Dirty = true;
  return TRUE;
}

int ImageList_Add(HIMAGELIST himl, HBITMAP hbmImage, HBITMAP hbmMask) {
  TImageListObj* il = LookupList(himl);
  if (!il) return -1;
  auto tiles = Tiles(il, hbmImage, hbmMask, false, 0);
  if (tiles.empty()) return -1;
  int first = int(il->Images.size());
  for (auto& t : tiles) il->Images.push_back(std::move(t));
  il->Dirty = true;
  return first;
}

int ImageList_AddMasked(HIMAGELIST himl, HBITMAP hbmImage, COLORREF crMask) {
  TImageListObj* il = LookupList(himl);
  if (!il) return -1;
  auto tiles = Tiles(il, hbmImage, nullptr, il->HasMask() && crMask != CLR_NONE, crMask);
  if (tiles.empty()) return -1;
  int first = int(il->Images.size());
  for (auto& t : tiles) il->Images.push_back(std::move(t));
  il->Dirty = true;
  return first;
}

BOOL ImageList_Replace(HIMAGELIST himl, int i, HBITMAP hbmImage, HBITMAP hbmMask) {
  TImageListObj* il = LookupList(himl);
  if (!il || i < 0 || i >= int(il->Images.size())) return FALSE;
  auto tiles = Tiles(il, hbmImage, hbmMask, false, 0);
  if (tiles.empty()) return FALSE;
  il->Images[size_t(i)] = std::move(tiles[0]);
  il->Dirty = true;
  return TRUE;
}

int ImageList_ReplaceIcon(HIMAGELIST himl, int i, HICON hicon) {
  TImageListObj* il = LookupList(himl);
  ICONINFO ii{};
  if (!il || !GetIconInfo(hicon, &ii)) return -1;
  if (i < -1 || i >= int(il->Images.size())) {
    DeleteObject(ii.hbmMask);
    if (ii.hbmColor) DeleteObject(ii.hbmColor);
    return -1;
  }
  // the icon is drawn at the list's size into an image and a mask
  TImage img;
  img.Pixels.assign(size_t(il->Cx) * size_t(il->Cy), 0);
  img.Mask.assign(size_t(il->Cx) * size_t(il->Cy), 0);
  HDC dc = CreateCompatibleDC(nullptr);
  uint32_t* bits = nullptr;
  HBITMAP target = NewDib32(il->Cx, il->Cy, &bits);
  HGDIOBJ old = SelectObject(dc, target);
  DrawIconEx(dc, 0, 0, hicon, il->Cx, il->Cy, 0, nullptr, DI_IMAGE);
  std::memcpy(img.Pixels.data(), bits, img.Pixels.size() * 4);
  RECT all{0, 0, il->Cx, il->Cy};
  FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  DrawIconEx(dc, 0, 0, hicon, il->Cx, il->Cy, 0, nullptr, DI_MASK);
  for (size_t k = 0; k < img.Mask.size(); ++k) {
    uint32_t a = img.Pixels[k] >> 24;
    img.Mask[k] = (bits[k] & 0xFFFFFF) ? 1 : 0;
    if (a) img.Mask[k] = 0;
  }
  SelectObject(dc, old);
  DeleteObject(target);
  DeleteDC(dc);
  DeleteObject(ii.hbmMask);
  if (ii.hbmColor) DeleteObject(ii.hbmColor);
  if (!il->HasMask()) std::fill(img.Mask.begin(), img.Mask.end(), 0);
  il->Dirty = true;
  if (i == -1) {
    il->Images.push_back(std::move(img));
    return int(il->Images.size()) - 1;
  }
  il->Images[size_t(i)] = std::move(img);
  return i;
}

BOOL ImageList_Remove(HIMAGELIST himl, int i) {
  TImageListObj* il = LookupList(himl);
  if (!il) return FALSE;
  if (i == -1) {
    il->Images.clear();
  } else {
    if (i < 0 || i >= int(il->Images.size())) return FALSE;
    il->Images.erase(il->Images.begin() + i);
  }
  il->Dirty = true;
  return TRUE;
}

BOOL ImageList_Copy(HIMAGELIST himlDst, int iDst, HIMAGELIST himlSrc, int iSrc, UINT uFlags) {
  TImageListObj* d = LookupList(himlDst);
  TImageListObj* s = LookupList(himlSrc);
  // the platform copies within one list only
  if (!d || d != s || iDst < 0 || iSrc < 0 || iDst >= int(d->Images.size()) || iSrc >= int(s->Images.size()))
    return FALSE;
  if (uFlags & ILCF_SWAP) std::swap(d->Images[size_t(iDst)], d->Images[size_t(iSrc)]);
  else d->Images[size_t(iDst)] = s->Images[size_t(iSrc)];
  d->Dirty = true;
  return TRUE;
}

HIMAGELIST ImageList_Duplicate(HIMAGELIST himl) {
  TImageListObj* il = LookupList(himl);
  if (!il) return nullptr;
  HIMAGELIST h = ImageList_Create(il->Cx, il->Cy, il->Flags, il->Capacity, il->Grow);
  TImageListObj* c = LookupList(h);
  c->Images = il->Images;
  c->BkColor = il->BkColor;
  return h;
}

BOOL ImageList_DrawEx(HIMAGELIST himl, int i, HDC hdcDst, int x, int y, int dx, int dy, COLORREF rgbBk,
                      COLORREF rgbFg, UINT fStyle) {
  TImageListObj* il = LookupList(himl);
  TDCObj* dc = LookupDC(hdcDst);
  if (!il || !dc || i < 0 || i >= int(il->Images.size())) return FALSE;
  const TImage& img = il->Images[size_t(i)];
  int w = dx > 0 ? std::min(dx, il->Cx) : il->Cx, h = dy > 0 ? std::min(dy, il->Cy) : il->Cy;
  if (rgbBk == CLR_DEFAULT) rgbBk = il->BkColor;
  bool transparent = (fStyle & ILD_TRANSPARENT) || rgbBk == CLR_NONE || !il->HasMask();
  bool maskOnly = fStyle & ILD_MASK;
  uint32_t blendF = (fStyle & ILD_BLEND50) ? 128 : (fStyle & ILD_BLEND25) ? 64 : 0;
  uint32_t blendPx = ColorToPixel(rgbFg == CLR_DEFAULT || rgbFg == CLR_NONE ? GetSysColor(COLOR_HIGHLIGHT) : rgbFg);
  if (rgbFg == CLR_NONE) blendF = 0;
  bool alpha = (il->Flags & 0xFE) == ILC_COLOR32 &&
               std::any_of(img.Pixels.begin(), img.Pixels.end(), [](uint32_t v) { return (v >> 24) != 0; });
  TDrawTarget t(dc);
  if (!t.Valid()) return FALSE;
  POINT d = ToDevice(dc, x, y), o = t.Offset();
  uint32_t bk = rgbBk == CLR_NONE ? 0 : t.Pixel(rgbBk);
  for (int yy = 0; yy < h; ++yy) {
    int sy = d.y + yy + o.y;
    t.ClipSpan(sy, d.x + o.x, d.x + w + o.x, [&](int x0, int x1) {
      uint32_t* row = t.Surface().Row(sy);
      for (int sx = x0; sx < x1; ++sx) {
        size_t k = size_t(yy) * size_t(il->Cx) + size_t(sx - (d.x + o.x));
        bool clear = il->HasMask() && img.Mask[k];
        if (maskOnly) {
          // the mask: black where the image is opaque, white where transparent
          if (il->HasMask()) row[sx] = clear ? 0x00FFFFFFu : 0;
          continue;
        }
        uint32_t v = img.Pixels[k];
        if (alpha) {
          uint32_t a = v >> 24;
          if (blendF) v = (v & 0xFF000000u) | Mix(v, blendPx, blendF);
          uint32_t base = transparent ? row[sx] : bk;
          row[sx] = Mix(base, v, a);
          continue;
        }
        if (clear) {
          if (!transparent) row[sx] = bk;
          continue;
        }
        if (blendF) v = Mix(v, blendPx, blendF);
        row[sx] = t.Mono() ? MonoPixel(PixelToColor(v)) : (v & 0x00FFFFFFu);
      }
    });
  }
  return TRUE;
}

BOOL ImageList_Draw(HIMAGELIST himl, int i, HDC hdcDst, int x, int y, UINT fStyle) {
  return ImageList_DrawEx(himl, i, hdcDst, x, y, 0, 0, CLR_DEFAULT, CLR_DEFAULT, fStyle);
}

BOOL ImageList_GetImageInfo(HIMAGELIST himl, int i, IMAGEINFO* info) {
  TImageListObj* il = LookupList(himl);
  if (!il || !info || i < 0 || i >= int(il->Images.size())) return FALSE;
  RebuildStrips(il);
  info->hbmImage = il->StripImage;
  info->hbmMask = il->StripMask;
  info->rcImage = RECT{i * il->Cx, 0, (i + 1) * il->Cx, il->Cy};
  return TRUE;
}

BOOL ImageList_GetIconSize(HIMAGELIST himl, int* cx, int* cy) {
  TImageListObj* il = LookupList(himl);
  if (!il || !cx || !cy) return FALSE;
  *cx = il->Cx;
  *cy = il->Cy;
  return TRUE;
}

BOOL ImageList_SetIconSize(HIMAGELIST himl, int cx, int cy) {
  TImageListObj* il = LookupList(himl);
  if (!il || cx <= 0 || cy <= 0) return FALSE;
  il->Cx = cx;
  il->Cy = cy;
  il->Images.clear();
  il->Dirty = true;
  return TRUE;
}

COLORREF ImageList_SetBkColor(HIMAGELIST himl, COLORREF clrBk) {
  TImageListObj* il = LookupList(himl);
  if (!il) return CLR_NONE;
  COLORREF old = il->BkColor;
  il->BkColor = clrBk;
  return old;
}

COLORREF ImageList_GetBkColor(HIMAGELIST himl) {
  TImageListObj* il = LookupList(himl);
  return il ? il->BkColor : CLR_NONE;
}

HICON ImageList_GetIcon(HIMAGELIST himl, int i, UINT) {
  TImageListObj* il = LookupList(himl);
  if (!il || i < 0 || i >= int(il->Images.size())) return nullptr;
  const TImage& img = il->Images[size_t(i)];
  uint32_t* px = nullptr;
  HBITMAP color = NewDib32(il->Cx, il->Cy, &px);
  HBITMAP mask = CreateBitmap(il->Cx, il->Cy, 1, 1, nullptr);
  TBitmapObj* m = LookupBitmap(mask);
  TSurface ms = BitmapSurface(m);
  for (int y = 0; y < il->Cy; ++y)
    for (int x = 0; x < il->Cx; ++x) {
      size_t k = size_t(y) * size_t(il->Cx) + size_t(x);
      bool clear = il->HasMask() && img.Mask[k];
      px[k] = clear ? 0 : img.Pixels[k];
      ms.Row(y)[x] = clear ? 0x00FFFFFFu : 0;
    }
  BitmapCommit(m);
  ICONINFO ii{TRUE, 0, 0, mask, color};
  HICON icon = CreateIconIndirect(&ii);
  DeleteObject(color);
  DeleteObject(mask);
  return icon;
}

namespace {
void PutWord(std::vector<uint8_t>& v, uint32_t x) {
  v.push_back(uint8_t(x));
  v.push_back(uint8_t(x >> 8));
}
}  // namespace

BOOL ImageList_Write(HIMAGELIST himl, TStream* pstm) {
  TImageListObj* il = LookupList(himl);
  if (!il || !pstm) return FALSE;
  RebuildStrips(il);
  std::vector<uint8_t> head;
  PutWord(head, 0x4C49);  // "IL"
  PutWord(head, 0x0101);
  PutWord(head, uint32_t(il->Images.size()));
  PutWord(head, uint32_t(std::max<size_t>(il->Images.size(), size_t(il->Capacity))));
  PutWord(head, uint32_t(il->Grow));
  PutWord(head, uint32_t(il->Cx));
  PutWord(head, uint32_t(il->Cy));
  PutWord(head, il->BkColor & 0xFFFF);
  PutWord(head, il->BkColor >> 16);
  PutWord(head, il->Flags);
  for (int k = 0; k < 4; ++k) PutWord(head, 0xFFFF);  // no overlay images
  try {
    pstm->WriteBuffer(head.data(), Integer(head.size()));
    std::vector<uint8_t> img = WriteBmpFile(il->StripImage);
    pstm->WriteBuffer(img.data(), Integer(img.size()));
    if (il->StripMask) {
      std::vector<uint8_t> msk = WriteBmpFile(il->StripMask);
      pstm->WriteBuffer(msk.data(), Integer(msk.size()));
    }
  } catch (const Exception&) {
    return FALSE;
  }
  return TRUE;
}

namespace {
// Reads one BMP file from the stream (its size from the file header).
HBITMAP ReadBmpFromStream(TStream* s) {
  uint8_t fh[14];
  s->ReadBuffer(fh, 14);
  uint32_t size = uint32_t(fh[2]) | (uint32_t(fh[3]) << 8) | (uint32_t(fh[4]) << 16) | (uint32_t(fh[5]) << 24);
  Int64 left = s->Size() - s->Position();
  if (size < 14 + 40 || Int64(size) - 14 > left) throw EImageCodecError(u"Image list: bitmap size out of range");
  std::vector<uint8_t> file(size);
  std::memcpy(file.data(), fh, 14);
  s->ReadBuffer(file.data() + 14, Integer(size - 14));
  return ReadBmpFile(file.data(), file.size());
}
}  // namespace

HIMAGELIST ImageList_Read(TStream* pstm) {
  if (!pstm) return nullptr;
  HBITMAP img = nullptr, msk = nullptr;
  HIMAGELIST h = nullptr;
  try {
    uint8_t head[28];
    pstm->ReadBuffer(head, 28);
    auto word = [&](int i) { return uint32_t(head[2 * i]) | (uint32_t(head[2 * i + 1]) << 8); };
    if (word(0) != 0x4C49 || word(1) != 0x0101) return nullptr;
    int count = int(word(2)), grow = int(word(4)), cx = int(word(5)), cy = int(word(6));
    COLORREF bk = word(7) | (word(8) << 16);
    UINT flags = word(9);
    h = ImageList_Create(cx, cy, flags, int(word(3)), grow);
    if (!h) return nullptr;
    img = ReadBmpFromStream(pstm);
    if (flags & ILC_MASK) msk = ReadBmpFromStream(pstm);
    TImageListObj* il = LookupList(h);
    il->BkColor = bk;
    auto tiles = Tiles(il, img, msk, false, 0);
    if (int(tiles.size()) < count) throw EImageCodecError(u"Image list: fewer images than announced");
    tiles.resize(size_t(count));
    il->Images = std::move(tiles);
  } catch (const Exception&) {
    if (h) ImageList_Destroy(h);
    h = nullptr;
  }
  if (img) DeleteObject(img);
  if (msk) DeleteObject(msk);
  return h;
}

HIMAGELIST ImageList_LoadImageW(HINSTANCE hi, LPCWSTR lpbmp, int cx, int cGrow, COLORREF crMask, UINT uType,
                                UINT uFlags) {
  if (uType != IMAGE_BITMAP) return nullptr;
  auto bm = static_cast<HBITMAP>(LoadImageW(hi, lpbmp, IMAGE_BITMAP, 0, 0, uFlags));
  BITMAP info{};
  if (!bm || !GetObjectW(bm, sizeof info, &info)) {
    if (bm) DeleteObject(bm);
    return nullptr;
  }
  if (cx <= 0) cx = info.bmHeight;
  HIMAGELIST h = ImageList_Create(cx, info.bmHeight, ILC_COLOR32 | (crMask != CLR_NONE ? ILC_MASK : 0),
                                  std::max(1, int(info.bmWidth / std::max(cx, 1))), cGrow);
  if (h) {
    if (crMask == CLR_DEFAULT) {
      HDC dc = CreateCompatibleDC(nullptr);
      HGDIOBJ old = SelectObject(dc, bm);
      crMask = GetPixel(dc, 0, 0);
      SelectObject(dc, old);
      DeleteDC(dc);
    }
    if ((crMask != CLR_NONE ? ImageList_AddMasked(h, bm, crMask) : ImageList_Add(h, bm, nullptr)) < 0) {
      ImageList_Destroy(h);
      h = nullptr;
    }
  }
  DeleteObject(bm);
  return h;
}

// ---------------------------------------------------------------------------
// Dragging

namespace {

// A picture of the drag: straight ARGB, alpha 0 where nothing is drawn.
struct TDragPicture {
  int Cx = 0, Cy = 0;
  std::vector<uint32_t> Pixels;
};

struct TDragState {
  bool Active = false;
  TDragPicture Base;        // the tracked image alone
  POINT BaseHot{};      // its hot spot
  HIMAGELIST List{};    // the temporary list holding the picture shown
  POINT Hot{};          // the hot spot of the picture shown
  HWND Lock{};          // the window the position is relative to
  POINT Pos{};
  bool Shown = false;
  HWND Window{};        // the layered popup showing the picture
  bool WindowStale = true;  // the window's pixels need drawing
};

TDragState& Drag() {
  static TDragState* state = new TDragState();
  return *state;
}

const char16_t kDragClass[] = u"ImageListDragImage";

// Image i of a list as a picture: masked pixels clear, 32-bit images with
// alpha keep it, others opaque.
TDragPicture PictureOf(TImageListObj* il, int i) {
  const TImage& img = il->Images[size_t(i)];
  bool alpha = (il->Flags & 0xFE) == ILC_COLOR32 &&
               std::any_of(img.Pixels.begin(), img.Pixels.end(), [](uint32_t v) { return (v >> 24) != 0; });
  TDragPicture p;
  p.Cx = il->Cx;
  p.Cy = il->Cy;
  p.Pixels.resize(img.Pixels.size());
  for (size_t k = 0; k < img.Pixels.size(); ++k) {
    uint32_t v = img.Pixels[k];
    if (il->HasMask() && img.Mask[k]) v = 0;
    else if (!alpha) v |= 0xFF000000u;
    p.Pixels[k] = v;
  }
  return p;
}

// Straight-alpha "over": source s on destination d.
uint32_t Over(uint32_t s, uint32_t d) {
  uint32_t sa = s >> 24, da = d >> 24;
  if (sa == 255 || da == 0) return s;
  if (sa == 0) return d;
  uint32_t dw = da * (255 - sa);  // destination weight, scaled by 255
  uint32_t oa = sa * 255 + dw;    // out alpha, scaled by 255
  uint32_t out = ((oa + 127) / 255) << 24;
  for (int sh = 0; sh < 24; sh += 8) {
    uint32_t c = (((s >> sh) & 0xFF) * sa * 255 + ((d >> sh) & 0xFF) * dw + oa / 2) / oa;
    out |= c << sh;
  }
  return out;
}

// Makes the temporary list hold the picture.
void SetDragPicture(TDragState& d, const TDragPicture& p, POINT hot) {
  if (d.List) ImageList_Destroy(d.List);
  d.List = ImageList_Create(p.Cx, p.Cy, ILC_COLOR32 | ILC_MASK, 1, 1);
  if (TImageListObj* il = LookupList(d.List)) {
    TImage img;
    img.Pixels = p.Pixels;
    img.Mask.resize(p.Pixels.size());
    for (size_t k = 0; k < p.Pixels.size(); ++k) img.Mask[k] = (p.Pixels[k] >> 24) == 0 ? 1 : 0;
    il->Images.push_back(std::move(img));
  }
  d.Hot = hot;
  d.WindowStale = true;
}

// Shows, moves or hides the drag window after a change of the state.
void UpdateDragWindow(TDragState& d) {
  TImageListObj* il = LookupList(d.List);
  if (!d.Active || !d.Shown || !il || il->Images.empty()) {
    if (d.Window && IsWindow(d.Window) && IsWindowVisible(d.Window)) ShowWindow(d.Window, SW_HIDE);
    return;
  }
  POINT origin{0, 0};
  RECT lockRect{};
  if (d.Lock && GetWindowRect(d.Lock, &lockRect)) origin = POINT{lockRect.left, lockRect.top};
  POINT at{origin.x + d.Pos.x - d.Hot.x, origin.y + d.Pos.y - d.Hot.y};
  SIZE size{il->Cx, il->Cy};
  if (!d.Window || !IsWindow(d.Window)) {
    WNDCLASSEXW c{};
    if (!GetClassInfoExW(nullptr, kDragClass, &c)) {
      c.cbSize = sizeof c;
      c.lpfnWndProc = &DefWindowProcW;
      c.lpszClassName = kDragClass;
      RegisterClassExW(&c);
    }
    d.Window = CreateWindowExW(WS_EX_LAYERED | WS_EX_TRANSPARENT | WS_EX_TOPMOST | WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW,
                               kDragClass, u"", WS_POPUP, at.x, at.y, size.cx, size.cy, nullptr, nullptr, nullptr,
                               nullptr);
    if (!d.Window) return;
    d.WindowStale = true;
  }
  BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  if (d.WindowStale) {
    // the picture premultiplied in a 32-bit DIB
    uint32_t* px = nullptr;
    HBITMAP bm = NewDib32(size.cx, size.cy, &px);
    if (!bm) return;
    const std::vector<uint32_t>& src = il->Images[0].Pixels;
    for (size_t k = 0; k < src.size(); ++k) {
      uint32_t v = src[k], a = v >> 24, out = a << 24;
      for (int sh = 0; sh < 24; sh += 8) out |= ((((v >> sh) & 0xFF) * a + 127) / 255) << sh;
      px[k] = out;
    }
    HDC mem = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(mem, bm);
    POINT zero{0, 0};
    UpdateLayeredWindow(d.Window, nullptr, &at, &size, mem, &zero, 0, &blend, ULW_ALPHA);
    SelectObject(mem, old);
    DeleteDC(mem);
    DeleteObject(bm);
    d.WindowStale = false;
  } else {
    UpdateLayeredWindow(d.Window, nullptr, &at, &size, nullptr, nullptr, 0, &blend, ULW_ALPHA);
  }
  if (!IsWindowVisible(d.Window)) ShowWindow(d.Window, SW_SHOWNA);
}

}  // namespace

BOOL ImageList_BeginDrag(HIMAGELIST himlTrack, int iTrack, int dxHotspot, int dyHotspot) {
  TImageListObj* il = LookupList(himlTrack);
  if (!il || iTrack < 0 || iTrack >= int(il->Images.size())) return FALSE;
  TDragPicture base = PictureOf(il, iTrack);
  ImageList_EndDrag();
  TDragState& d = Drag();
  d.Active = true;
  d.Base = std::move(base);
  d.BaseHot = POINT{dxHotspot, dyHotspot};
  d.Lock = nullptr;
  d.Pos = POINT{0, 0};
  d.Shown = false;
  SetDragPicture(d, d.Base, d.BaseHot);
  return TRUE;
}

BOOL ImageList_DragEnter(HWND hwndLock, int x, int y) {
  TDragState& d = Drag();
  if (!d.Active) return FALSE;
  d.Lock = hwndLock;
  d.Pos = POINT{x, y};
  d.Shown = true;
  UpdateDragWindow(d);
  return TRUE;
}

BOOL ImageList_DragMove(int x, int y) {
  TDragState& d = Drag();
  if (!d.Active) return FALSE;
  d.Pos = POINT{x, y};
  UpdateDragWindow(d);
  return TRUE;
}

BOOL ImageList_DragShowNolock(BOOL fShow) {
  TDragState& d = Drag();
  if (!d.Active) return FALSE;
  d.Shown = fShow != 0;
  UpdateDragWindow(d);
  return TRUE;
}

BOOL ImageList_DragLeave(HWND) {
  TDragState& d = Drag();
  if (!d.Active) return FALSE;
  d.Shown = false;
  UpdateDragWindow(d);
  return TRUE;
}

void ImageList_EndDrag() {
  TDragState& d = Drag();
  if (d.Window && IsWindow(d.Window)) DestroyWindow(d.Window);
  if (d.List) ImageList_Destroy(d.List);
  d = TDragState();
}

BOOL ImageList_SetDragCursorImage(HIMAGELIST himlDrag, int iDrag, int dxHotspot, int dyHotspot) {
  TDragState& d = Drag();
  TImageListObj* il = LookupList(himlDrag);
  if (!d.Active || !il || iDrag < 0 || iDrag >= int(il->Images.size())) return FALSE;
  TDragPicture cursor = PictureOf(il, iDrag);
  // the shared hot spot, then where each picture starts
  POINT hot{std::max<LONG>(d.BaseHot.x, dxHotspot), std::max<LONG>(d.BaseHot.y, dyHotspot)};
  POINT bo{hot.x - d.BaseHot.x, hot.y - d.BaseHot.y}, co{hot.x - dxHotspot, hot.y - dyHotspot};
  TDragPicture p;
  p.Cx = std::max<int>(bo.x + d.Base.Cx, co.x + cursor.Cx);
  p.Cy = std::max<int>(bo.y + d.Base.Cy, co.y + cursor.Cy);
  if (int64_t(p.Cx) * p.Cy > (int64_t(1) << 24)) return FALSE;
  p.Pixels.assign(size_t(p.Cx) * size_t(p.Cy), 0);
  auto lay = [&](const TDragPicture& src, POINT o) {
    for (int y = 0; y < src.Cy; ++y)
      for (int x = 0; x < src.Cx; ++x) {
        uint32_t& dst = p.Pixels[size_t(y + o.y) * size_t(p.Cx) + size_t(x + o.x)];
        dst = Over(src.Pixels[size_t(y) * size_t(src.Cx) + size_t(x)], dst);
      }
  };
  lay(d.Base, bo);
  lay(cursor, co);
  SetDragPicture(d, p, hot);
  UpdateDragWindow(d);
  return TRUE;
}

HIMAGELIST ImageList_GetDragImage(POINT* ppt, POINT* pptHotspot) {
  TDragState& d = Drag();
  if (!d.Active) return nullptr;
  if (ppt) *ppt = d.Pos;
  if (pptHotspot) *pptHotspot = d.Hot;
  return d.List;
}

}  // namespace win
