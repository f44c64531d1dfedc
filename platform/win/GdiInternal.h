// Internals of the graphics layer shared by its source files (and by the
// text and window parts of platform/win): the GDI objects behind the handles,
// the device context and its state, surfaces, clipping and pixel helpers.
//
// Surfaces are 32-bit BGRA pixel buffers (0xAARRGGBB in a uint32_t). A handle
// is the address of its object; every live object is entered in one table,
// so a stale or foreign handle is refused instead of being dereferenced.
#pragma once

#include <pixman.h>

#include <climits>
#include <cstddef>
#include <memory>
#include <vector>

#include "platform/win/Gdi.h"

namespace win::gdi {

// ---------------------------------------------------------------------------
// Regions

// A pixman region with value semantics.
class TRgn {
 public:
  TRgn();
  explicit TRgn(const RECT& r);
  TRgn(const TRgn& other);
  TRgn(TRgn&& other) noexcept;
  TRgn& operator=(const TRgn& other);
  TRgn& operator=(TRgn&& other) noexcept;
  ~TRgn();

  pixman_region32_t* get() { return &FRegion; }
  const pixman_region32_t* get() const { return const_cast<pixman_region32_t*>(&FRegion); }
  pixman_region32_t* raw() const { return const_cast<pixman_region32_t*>(&FRegion); }

  bool Empty() const;
  RECT Box() const;  // (0, 0, 0, 0) when empty
  int Complexity() const;  // NULLREGION, SIMPLEREGION or COMPLEXREGION
  void SetRect(const RECT& r);
  void Clear();
  void Offset(int dx, int dy);
  void Intersect(const TRgn& other);
  void IntersectRect(const RECT& r);
  void Union(const TRgn& other);
  void UnionRect(const RECT& r);
  void Subtract(const TRgn& other);
  void Xor(const TRgn& other);
  bool Contains(int x, int y) const;
  bool Overlaps(const RECT& r) const;
  bool Equals(const TRgn& other) const;
  // The region's rectangles, y-x banded.
  const pixman_box32_t* Rects(int* count) const;
  // Builds the region from rectangles at once (empty ones are skipped).
  void SetRects(const RECT* rects, size_t count);
  // Builds the region from horizontal spans [x0, x1) of single rows, given in
  // any order; neighbouring equal rows merge into bands.
  struct TSpan {
    int y, x0, x1;
  };
  void SetSpans(std::vector<TSpan>& spans);

 private:
  pixman_region32_t FRegion;
};

// ---------------------------------------------------------------------------
// Objects

constexpr uint32_t GdiMagic = 0x47444931;  // "GDI1"

struct TGdiObject {
  uint32_t Magic = GdiMagic;
  DWORD Type = 0;        // OBJ_*
  bool Stock = false;    // stock objects and system-colour brushes are never deleted
  int SelectCount = 0;   // how many DCs have it selected
  bool DeletePending = false;
  virtual ~TGdiObject();
};

struct TPenObj : TGdiObject {
  DWORD Style = PS_SOLID;  // full style: type, end cap, join, dash style
  int Width = 1;           // 0 counts as 1 when drawing
  COLORREF Color = 0;
  bool Extended = false;   // made by ExtCreatePen (GetObject answers EXTLOGPEN)
  UINT BrushStyle = BS_SOLID;
  ULONG_PTR Hatch = 0;
  std::vector<DWORD> UserStyle;
  bool IsDCPen = false;    // the DC_PEN stock object: the DC's pen colour
};

// A brush's pattern: an image whose origin follows the DC's brush origin.
struct TPattern {
  int Width = 0, Height = 0;
  std::vector<uint32_t> Pixels;  // BGRA, or 0 / 1 bits of a monochrome pattern
  bool Mono = false;             // 0 bits take the text colour, 1 bits the background colour
};

struct TBrushObj : TGdiObject {
  UINT Style = BS_SOLID;
  COLORREF Color = 0;
  int Hatch = 0;
  std::shared_ptr<TPattern> Pattern;  // BS_PATTERN, BS_DIBPATTERN
  HBITMAP PatternBitmap = nullptr;    // as given to CreatePatternBrush (GetObject answers it)
  bool IsDCBrush = false;             // the DC_BRUSH stock object: the DC's brush colour
  int SysColorIndex = -1;             // GetSysColorBrush brushes
};

struct TFontObj : TGdiObject {
  LOGFONTW Log{};
  // The text layer's realized font (glyph cache, FreeType face); released by
  // FontRealizedFree when the font object dies.
  void* Realized = nullptr;
};
// Set by the text layer: frees a font's Realized slot.
extern void (*FontRealizedFree)(void* realized);

struct TDCObj;

struct TBitmapObj : TGdiObject {
  int Width = 0, Height = 0;
  int BitsPixel = 32;
  bool IsDIB = false;       // a DIB section (its bits are the caller's to touch)
  bool TopDown = true;      // memory row order
  DWORD Compression = BI_RGB;
  DWORD Masks[3] = {0, 0, 0};  // 16 and 32 bits: the colour masks in effect
  std::vector<RGBQUAD> Colors;  // 1, 4 and 8 bits
  uint8_t* Bits = nullptr;  // the pixels in their own format
  size_t Stride = 0;        // bytes per memory row
  std::vector<uint8_t> Storage;
  std::vector<uint32_t> Shadow;  // 32-bit working copy of formats other than BGRA
  TDCObj* SelectedInto = nullptr;
  SIZE Dimension{};         // SetBitmapDimensionEx

  bool IsMono() const { return BitsPixel == 1; }
  // Whether the pixels are BGRA words that drawing can address in place.
  bool IsDirect32() const;
  // The start of the row at the picture's y (top = 0).
  uint8_t* Row(int y) const;
};

struct TRegionObj : TGdiObject {
  TRgn Rgn;
};

struct TPaletteObj : TGdiObject {
  std::vector<PALETTEENTRY> Entries;
};

// ---------------------------------------------------------------------------
// Surfaces and DCs

// A view of 32-bit pixels: row y starts at Bits + y * Stride (pixels; the
// stride may be negative for bottom-up memory).
struct TSurface {
  uint32_t* Bits = nullptr;
  ptrdiff_t Stride = 0;
  int Width = 0, Height = 0;
  uint32_t* Row(int y) const { return Bits + y * Stride; }
};

// A path under construction or closed: figures of points in device
// coordinates (curves are flattened when added).
struct TPath {
  struct TFigure {
    std::vector<POINT> Points;
    bool Closed = false;
  };
  std::vector<TFigure> Figures;
  bool Open = false;     // between BeginPath and EndPath
  bool Defined = false;  // closed by EndPath and not consumed yet
  bool NewFigure = true; // the next point starts a figure
};

struct TDCState {
  TPenObj* Pen = nullptr;
  TBrushObj* Brush = nullptr;
  TFontObj* Font = nullptr;
  TBitmapObj* Bitmap = nullptr;  // memory DCs
  TPaletteObj* Palette = nullptr;
  POINT WindowOrg{}, ViewportOrg{}, BrushOrg{}, CurPos{};
  bool HasClip = false;
  TRgn Clip;  // device coordinates
  int Rop2 = R2_COPYPEN;
  int BkMode = OPAQUE;
  int PolyFillMode = ALTERNATE;
  int StretchMode = BLACKONWHITE;
  int ArcDirection = AD_COUNTERCLOCKWISE;
  int MapMode = MM_TEXT;
  int GraphicsMode = GM_COMPATIBLE;
  COLORREF BkColor = RGB(255, 255, 255);
  COLORREF TextColor = RGB(0, 0, 0);
  COLORREF DCBrushColor = RGB(255, 255, 255);
  COLORREF DCPenColor = RGB(0, 0, 0);
  UINT TextAlign = 0;
  // Text spacing (SetTextCharacterExtra, SetTextJustification): the text layer's.
  int CharExtra = 0;
  int BreakExtra = 0;
  int BreakCount = 0;
  TPath Path;
};

// Gives the pixels a DC draws on: a memory DC's selected bitmap, or an outside
// surface (the screen, a window's backing store) supplied by the window layer.
struct TDCObj : TGdiObject {
  TDCState S;
  std::vector<TDCState> Saved;
  bool IsMemory = false;
  // Outside surface: device (0, 0) lies at SurfaceOrigin of it; VisRgn (device
  // coordinates) limits drawing when HasVisRgn.
  TSurface External;
  POINT SurfaceOrigin{};
  bool HasVisRgn = false;
  TRgn VisRgn;
  HWND Window = nullptr;  // set by the window layer
  HWND TopWindow = nullptr;  // the top-level window whose backing store it draws on
  bool Painting = false;     // a paint DC (BeginPaint to EndPaint)
  bool IsScreen = false;
  int StylePos = 0;       // position in the pen's dash pattern (reset by MoveToEx)
};

// The object behind a handle of the given kind (0: any kind), or nil.
TGdiObject* Lookup(const void* h, DWORD type = 0);
TDCObj* LookupDC(HDC hdc);
TBitmapObj* LookupBitmap(HBITMAP h);
TRegionObj* LookupRegion(HRGN h);
TBrushObj* LookupBrush(HBRUSH h);
TPenObj* LookupPen(HPEN h);
TFontObj* LookupFont(HFONT h);
// Enters a new object into the handle table and answers its handle.
void* Register(TGdiObject* obj);
// Takes an object out of the table and deletes it.
void Destroy(TGdiObject* obj);

// Creates a DC on an outside surface (the window layer's window DCs).
HDC CreateSurfaceDC(const TSurface& surface, POINT origin);
void SetDCSurface(HDC hdc, const TSurface& surface, POINT origin);
// Limits drawing on the DC to a region in device coordinates (nil: none).
void SetDCVisRgn(HDC hdc, HRGN hrgn);
// Replaces the screen's surface (the backends; by default an in-memory
// 1280 x 1024 surface). The surface must stay valid while in use.
void SetScreenSurface(const TSurface& surface);
TSurface ScreenSurface();
// The answer of GetDeviceCaps LOGPIXELSX/LOGPIXELSY (96 unless a test sets
// another, to see how code follows a screen of another resolution).
void SetPixelsPerInch(int ppi);
int PixelsPerInch();

// The window layer's DCs: GetDC/GetWindowDC of a window and ReleaseDC of
// such a DC go through these hooks when set (GetDC(nullptr) is the screen).
extern HDC (*WindowDCHook)(HWND hwnd, bool wholeWindow);
extern int (*ReleaseDCHook)(HWND hwnd, HDC hdc);
// Set by the window layer: called before the pixels of a DC on an outside
// surface (a window's backing store, the screen) are drawn on or read
// (drawn false), and after they were drawn on (drawn true, area: the clip
// box in surface coordinates), so that what is drawn reaches the display.
extern void (*SurfaceAccessHook)(TDCObj* dc, bool drawn, const RECT& area);

// Logical to device coordinates (wrapping, as the platform's 32-bit
// arithmetic does, rather than overflowing).
inline int WrapAdd3(int a, int b, int c) { return int(uint32_t(a) - uint32_t(b) + uint32_t(c)); }
inline POINT ToDevice(const TDCObj* dc, int x, int y) {
  return POINT{WrapAdd3(x, dc->S.WindowOrg.x, dc->S.ViewportOrg.x), WrapAdd3(y, dc->S.WindowOrg.y, dc->S.ViewportOrg.y)};
}
inline RECT ToDevice(const TDCObj* dc, const RECT& r) {
  POINT a = ToDevice(dc, r.left, r.top), b = ToDevice(dc, r.right, r.bottom);
  return RECT{a.x, a.y, b.x, b.y};
}
// A rectangle with every coordinate within +-2^28, so that adding or
// subtracting small amounts cannot overflow.
inline RECT ClampRect(const RECT& r) {
  auto c = [](int v) { return v < -(1 << 28) ? -(1 << 28) : v > (1 << 28) ? (1 << 28) : v; };
  return RECT{c(r.left), c(r.top), c(r.right), c(r.bottom)};
}

// Resolves a COLORREF (palette-relative forms to their RGB) and answers the
// pixel (alpha 0, as GDI writes it).
uint32_t ColorToPixel(COLORREF c);
inline COLORREF PixelToColor(uint32_t p) { return RGB(BYTE(p >> 16), BYTE(p >> 8), BYTE(p)); }
// A colour on a monochrome surface: black or white by intensity.
uint32_t MonoPixel(COLORREF c);
uint32_t RopMix2(int rop2, uint32_t pen, uint32_t dst);
// The ternary raster operation's index (the ROP's bits 16-23) on pattern,
// source and destination words.
uint32_t RopMix3(uint32_t index, uint32_t pat, uint32_t src, uint32_t dst);

// The bitmap's pixels in 32-bit form for drawing. For formats other than
// BGRA the pixels are decoded into the shadow and Commit encodes them back.
// A bitmap not in the direct 32-bit layout is worked on in a 32-bit shadow:
// load decodes rows [y0, y1) of it into the shadow, commit encodes them back.
TSurface BitmapSurface(TBitmapObj* bm, bool load = true, int y0 = 0, int y1 = INT_MAX);
void BitmapCommit(TBitmapObj* bm, int y0 = 0, int y1 = INT_MAX);

// The header of a 32-bit top-down DIB of w x h pixels.
BITMAPINFO Dib32Info(int w, int h);
// A new 32-bit top-down DIB section; its pixels in *bits when bits is given.
HBITMAP NewDib32(int w, int h, uint32_t** bits = nullptr);

// Everything an operation on a DC needs: the surface, the device-to-surface
// offset and the effective clip (clip region, visible region and surface
// bounds) in surface coordinates. Ends by committing a shadow surface.
class TDrawTarget {
 public:
  // With access false the pixels are not prepared (clip and size queries);
  // with readOnly the pixels are read and never written back. bounds, in
  // device coordinates, promises that the drawing stays inside it: the clip
  // is narrowed to it, and only its rows of a shadowed bitmap are decoded
  // and written back.
  explicit TDrawTarget(TDCObj* dc, bool access = true, bool readOnly = false, const RECT* bounds = nullptr);
  ~TDrawTarget();
  TDrawTarget(const TDrawTarget&) = delete;
  TDrawTarget& operator=(const TDrawTarget&) = delete;

  bool Valid() const { return FSurface.Bits != nullptr; }
  bool Mono() const { return FMono; }
  TDCObj* DC() const { return FDC; }
  const TSurface& Surface() const { return FSurface; }
  // Device coordinates + Offset() = surface coordinates.
  POINT Offset() const { return FOffset; }
  const TRgn& Clip() const { return FClip; }  // surface coordinates
  // Calls fn(x0, x1) for the clipped parts of the row span [x0, x1) at the
  // surface's y.
  template <class F>
  void ClipSpan(int y, int x0, int x1, F&& fn) const {
    if (x0 >= x1) return;
    int n = 0;
    const pixman_box32_t* b = FClip.Rects(&n);
    // rectangles are banded by y: skip the bands above
    int lo = 0, hi = n;
    while (lo < hi) {
      int mid = (lo + hi) / 2;
      if (b[mid].y2 <= y) lo = mid + 1; else hi = mid;
    }
    for (int i = lo; i < n && b[i].y1 <= y; ++i) {
      int l = x0 > b[i].x1 ? x0 : b[i].x1;
      int r = x1 < b[i].x2 ? x1 : b[i].x2;
      if (l < r) fn(l, r);
    }
  }
  // The same for a single pixel.
  bool Visible(int x, int y) const { return FClip.Contains(x, y); }
  // Converts a colour for this surface (black or white on a monochrome one).
  uint32_t Pixel(COLORREF c) const { return FMono ? MonoPixel(c) : ColorToPixel(c); }

 private:
  TDCObj* FDC;
  TBitmapObj* FBitmap = nullptr;
  TSurface FSurface;
  POINT FOffset{};
  TRgn FClip;
  bool FMono = false;
  bool FAccess = true;
  bool FReadOnly = false;
  int FRow0 = 0, FRow1 = INT_MAX;  // the rows of a shadowed bitmap worked on
};

// The device clip of a DC (clip region and visible region; no surface bounds).
// Answers false when nothing limits drawing.
bool DeviceClip(const TDCObj* dc, TRgn& out);

// Fills spans of one row with the DC's brush (pattern aligned to the brush
// origin, hatches with the background colour when opaque) under a ternary
// ROP index; spans are in surface coordinates and already clipped.
class TBrushPainter {
 public:
  TBrushPainter(const TDrawTarget& t, TBrushObj* brush, uint32_t ropIndex = 0xF0);
  bool Null() const { return FNull; }
  void Span(int y, int x0, int x1) const;

 private:
  const TDrawTarget& FT;
  bool FNull = false;
  bool FSolid = true;
  uint32_t FColor = 0;
  uint32_t FRop;
  std::shared_ptr<TPattern> FPattern;
  uint32_t FFore = 0, FBack = 0;  // mono pattern and hatch colours
  bool FTransparentBack = false;  // hatch background left alone
  int FOrgX = 0, FOrgY = 0;       // brush origin in surface coordinates
};

// The 8 x 8 hatch pattern rows of a hatch style (bit 7 = left pixel).
const BYTE* HatchRows(int hatch);

// Icons made by the resource loader: a shared icon survives DestroyIcon;
// Source (the resource's bytes, valid for the program's life, or nil) is
// what CopyImage with LR_COPYFROMRESOURCE reloads another size from.
void SetIconOrigin(HICON icon, bool shared, const uint8_t* source, size_t size);
bool IconOrigin(HICON icon, const uint8_t** source, size_t* size);

// Fills a region (surface coordinates, already clipped) with a brush.
void FillRegionSurface(const TDrawTarget& t, const TRgn& rgn, TBrushObj* brush, uint32_t ropIndex = 0xF0);

}  // namespace win::gdi
