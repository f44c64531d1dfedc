// The handle table, regions with value semantics, rectangle helpers, GDI
// objects (pens, brushes, fonts, palettes, stock objects, system colours)
// and the device contexts with their state.
#include <algorithm>
#include <array>
#include <atomic>
#include <cstring>
#include <deque>
#include <mutex>
#include <unordered_set>

#include "platform/win/GdiInternal.h"
#include "platform/win/Windows.h"

namespace win::gdi {

void (*FontRealizedFree)(void* realized) = nullptr;
HDC (*WindowDCHook)(HWND hwnd, bool wholeWindow) = nullptr;
int (*ReleaseDCHook)(HWND hwnd, HDC hdc) = nullptr;
void (*SurfaceAccessHook)(TDCObj* dc, bool drawn, const RECT& area) = nullptr;

TGdiObject::~TGdiObject() = default;

namespace {

std::mutex& TableLock() {
  static std::mutex m;
  return m;
}
std::unordered_set<const void*>& Table() {
  static auto* t = new std::unordered_set<const void*>();
  return *t;
}
// The memory of the last deleted objects (Destroy).
std::deque<void*>& Quarantine() {
  static auto* q = new std::deque<void*>();
  return *q;
}

}  // namespace

void* Register(TGdiObject* obj) {
  std::lock_guard<std::mutex> lock(TableLock());
  Table().insert(obj);
  return obj;
}

TGdiObject* Lookup(const void* h, DWORD type) {
  if (!h) return nullptr;
  {
    std::lock_guard<std::mutex> lock(TableLock());
    if (!Table().count(h)) return nullptr;
  }
  auto* obj = static_cast<TGdiObject*>(const_cast<void*>(h));
  if (obj->Magic != GdiMagic) return nullptr;
  if (type == 0 || obj->Type == type) return obj;
  // A memory DC answers to both DC kinds; an extended pen to both pen kinds.
  if (type == OBJ_DC && obj->Type == OBJ_MEMDC) return obj;
  if (type == OBJ_PEN && obj->Type == OBJ_EXTPEN) return obj;
  return nullptr;
}

void Destroy(TGdiObject* obj) {
  if (!obj) return;
  {
    std::lock_guard<std::mutex> lock(TableLock());
    Table().erase(obj);
  }
  if (obj->Type == OBJ_FONT) {
    auto* f = static_cast<TFontObj*>(obj);
    if (f->Realized && FontRealizedFree) FontRealizedFree(f->Realized);
    f->Realized = nullptr;
  }
  obj->Magic = 0;
  // The object is destroyed now, but its memory (the handle's value) is
  // kept for the next QuarantineSize deletions: a deleted handle is not
  // handed to a new object at once, so a stale handle fails every call, as
  // the platform's handles (which carry a reuse count) do.
  constexpr size_t QuarantineSize = 1024;
  void* memory = dynamic_cast<void*>(obj);
  obj->~TGdiObject();
  void* evicted = nullptr;
  {
    std::lock_guard<std::mutex> lock(TableLock());
    std::deque<void*>& quarantine = Quarantine();
    quarantine.push_back(memory);
    if (quarantine.size() > QuarantineSize) {
      evicted = quarantine.front();
      quarantine.pop_front();
    }
  }
  ::operator delete(evicted);
}

TDCObj* LookupDC(HDC hdc) { return static_cast<TDCObj*>(Lookup(hdc, OBJ_DC)); }
TBitmapObj* LookupBitmap(HBITMAP h) { return static_cast<TBitmapObj*>(Lookup(h, OBJ_BITMAP)); }
TRegionObj* LookupRegion(HRGN h) { return static_cast<TRegionObj*>(Lookup(h, OBJ_REGION)); }
TBrushObj* LookupBrush(HBRUSH h) { return static_cast<TBrushObj*>(Lookup(h, OBJ_BRUSH)); }
TPenObj* LookupPen(HPEN h) { return static_cast<TPenObj*>(Lookup(h, OBJ_PEN)); }
TFontObj* LookupFont(HFONT h) { return static_cast<TFontObj*>(Lookup(h, OBJ_FONT)); }

// ---------------------------------------------------------------------------
// TRgn

namespace {
// pixman keeps 32-bit coordinates and sizes: rectangles are clamped well inside.
constexpr int RgnLimit = 1 << 30;
inline int RClamp(int v) { return v < -RgnLimit ? -RgnLimit : v > RgnLimit ? RgnLimit : v; }
inline RECT Clamped(const RECT& r) { return RECT{RClamp(r.left), RClamp(r.top), RClamp(r.right), RClamp(r.bottom)}; }
}  // namespace

TRgn::TRgn() { pixman_region32_init(&FRegion); }
TRgn::TRgn(const RECT& rc) {
  RECT r = Clamped(rc);
  if (r.left < r.right && r.top < r.bottom)
    pixman_region32_init_rect(&FRegion, r.left, r.top, unsigned(r.right - r.left), unsigned(r.bottom - r.top));
  else
    pixman_region32_init(&FRegion);
}
TRgn::TRgn(const TRgn& other) {
  pixman_region32_init(&FRegion);
  pixman_region32_copy(&FRegion, other.raw());
}
TRgn::TRgn(TRgn&& other) noexcept {
  pixman_region32_init(&FRegion);
  std::swap(FRegion, other.FRegion);
}
TRgn& TRgn::operator=(const TRgn& other) {
  if (this != &other) pixman_region32_copy(&FRegion, other.raw());
  return *this;
}
TRgn& TRgn::operator=(TRgn&& other) noexcept {
  std::swap(FRegion, other.FRegion);
  return *this;
}
TRgn::~TRgn() { pixman_region32_fini(&FRegion); }

bool TRgn::Empty() const { return !pixman_region32_not_empty(raw()); }
RECT TRgn::Box() const {
  if (Empty()) return RECT{};
  const pixman_box32_t* b = pixman_region32_extents(raw());
  return RECT{b->x1, b->y1, b->x2, b->y2};
}
int TRgn::Complexity() const {
  int n = pixman_region32_n_rects(raw());
  return n == 0 ? NULLREGION : n == 1 ? SIMPLEREGION : COMPLEXREGION;
}
void TRgn::SetRect(const RECT& rc) {
  RECT r = Clamped(rc);
  pixman_region32_fini(&FRegion);
  if (r.left < r.right && r.top < r.bottom)
    pixman_region32_init_rect(&FRegion, r.left, r.top, unsigned(r.right - r.left), unsigned(r.bottom - r.top));
  else
    pixman_region32_init(&FRegion);
}
void TRgn::Clear() {
  pixman_region32_fini(&FRegion);
  pixman_region32_init(&FRegion);
}
void TRgn::Offset(int dx, int dy) { pixman_region32_translate(&FRegion, dx, dy); }
void TRgn::Intersect(const TRgn& o) { pixman_region32_intersect(&FRegion, &FRegion, o.raw()); }
void TRgn::IntersectRect(const RECT& rc) {
  RECT r = Clamped(rc);
  if (r.left >= r.right || r.top >= r.bottom) {
    Clear();
    return;
  }
  pixman_region32_intersect_rect(&FRegion, &FRegion, r.left, r.top, unsigned(r.right - r.left),
                                 unsigned(r.bottom - r.top));
}
void TRgn::Union(const TRgn& o) { pixman_region32_union(&FRegion, &FRegion, o.raw()); }
void TRgn::UnionRect(const RECT& rc) {
  RECT r = Clamped(rc);
  if (r.left >= r.right || r.top >= r.bottom) return;
  pixman_region32_union_rect(&FRegion, &FRegion, r.left, r.top, unsigned(r.right - r.left),
                             unsigned(r.bottom - r.top));
}
void TRgn::Subtract(const TRgn& o) { pixman_region32_subtract(&FRegion, &FRegion, o.raw()); }
void TRgn::Xor(const TRgn& o) {
  TRgn a(*this), b(o);
  a.Subtract(o);
  b.Subtract(*this);
  pixman_region32_union(&FRegion, a.raw(), b.raw());
}
bool TRgn::Contains(int x, int y) const { return pixman_region32_contains_point(raw(), x, y, nullptr); }
bool TRgn::Overlaps(const RECT& rc) const {
  RECT r = Clamped(rc);
  if (r.left >= r.right || r.top >= r.bottom) return false;
  pixman_box32_t b{r.left, r.top, r.right, r.bottom};
  return pixman_region32_contains_rectangle(raw(), &b) != PIXMAN_REGION_OUT;
}
bool TRgn::Equals(const TRgn& o) const {
  if (Empty() && o.Empty()) return true;
  return pixman_region32_equal(raw(), o.raw());
}
const pixman_box32_t* TRgn::Rects(int* count) const { return pixman_region32_rectangles(raw(), count); }
void TRgn::SetRects(const RECT* rects, size_t count) {
  std::vector<pixman_box32_t> boxes;
  boxes.reserve(count);
  for (size_t i = 0; i < count; ++i) {
    RECT r = Clamped(rects[i]);
    if (r.left < r.right && r.top < r.bottom) boxes.push_back({r.left, r.top, r.right, r.bottom});
  }
  pixman_region32_fini(&FRegion);
  pixman_region32_init_rects(&FRegion, boxes.data(), int(boxes.size()));
}
void TRgn::SetSpans(std::vector<TSpan>& spans) {
  std::sort(spans.begin(), spans.end(), [](const TSpan& a, const TSpan& b) {
    return a.y != b.y ? a.y < b.y : a.x0 < b.x0;
  });
  // Merge overlapping spans of a row, then rows with the same spans into bands.
  std::vector<pixman_box32_t> boxes;
  size_t i = 0;
  std::vector<std::pair<int, int>> prev, cur;
  int prevY = 0;
  size_t bandStart = 0;
  while (i < spans.size()) {
    int y = spans[i].y;
    cur.clear();
    for (; i < spans.size() && spans[i].y == y; ++i) {
      if (spans[i].x0 >= spans[i].x1) continue;
      if (!cur.empty() && spans[i].x0 <= cur.back().second)
        cur.back().second = std::max(cur.back().second, spans[i].x1);
      else
        cur.emplace_back(spans[i].x0, spans[i].x1);
    }
    if (cur.empty()) continue;
    if (!prev.empty() && prevY + 1 == y && cur == prev) {
      for (size_t k = bandStart; k < boxes.size(); ++k) boxes[k].y2 = y + 1;
    } else {
      bandStart = boxes.size();
      for (auto& s : cur) boxes.push_back({s.first, y, s.second, y + 1});
    }
    prev = cur;
    prevY = y;
  }
  pixman_region32_fini(&FRegion);
  pixman_region32_init_rects(&FRegion, boxes.data(), int(boxes.size()));
}

// ---------------------------------------------------------------------------
// Colours and mixes

uint32_t ColorToPixel(COLORREF c) {
  if ((c & 0xFF000000u) == 0x01000000u) {
    // PALETTEINDEX: the default palette's entry
    static const COLORREF vga[16] = {RGB(0, 0, 0),       RGB(128, 0, 0),   RGB(0, 128, 0),   RGB(128, 128, 0),
                                     RGB(0, 0, 128),     RGB(128, 0, 128), RGB(0, 128, 128), RGB(192, 192, 192),
                                     RGB(192, 220, 192), RGB(166, 202, 240), RGB(255, 251, 240), RGB(160, 160, 164),
                                     RGB(128, 128, 128), RGB(255, 0, 0),   RGB(0, 255, 0),   RGB(255, 255, 0)};
    c = vga[(c & 0xFFFF) % 16];
  }
  return (uint32_t(GetRValue(c)) << 16) | (uint32_t(GetGValue(c)) << 8) | GetBValue(c);
}

uint32_t MonoPixel(COLORREF c) {
  uint32_t p = ColorToPixel(c);
  unsigned sum = ((p >> 16) & 0xFF) + ((p >> 8) & 0xFF) + (p & 0xFF);
  return sum >= 0x180 ? 0x00FFFFFFu : 0u;
}

uint32_t RopMix2(int rop2, uint32_t pen, uint32_t dst) {
  unsigned m = unsigned(rop2 - 1) & 15;
  uint32_t r = 0;
  if (m & 1) r |= ~pen & ~dst;
  if (m & 2) r |= ~pen & dst;
  if (m & 4) r |= pen & ~dst;
  if (m & 8) r |= pen & dst;
  return r & 0x00FFFFFFu;
}

// Raster operations that read the source or the destination work on all 32
// bits, as on the platform (the high byte of a 32-bit pixel is more bits to
// it), the pattern's high byte counting as 0; the others give alpha 0.
uint32_t RopMix3(uint32_t index, uint32_t p, uint32_t s, uint32_t d) {
  p &= 0x00FFFFFFu;
  switch (index & 0xFF) {
    case 0x00: return 0;
    case 0xFF: return 0x00FFFFFFu;
    case 0xCC: return s;
    case 0xF0: return p;
    case 0xAA: return d;
    case 0x55: return ~d;
    case 0x5A: return p ^ d;
    case 0x66: return s ^ d;
    case 0x88: return s & d;
    case 0x22: return ~s & d;
    case 0xEE: return s | d;
    case 0x33: return ~s;
    default: break;
  }
  uint32_t r = 0;
  for (unsigned k = 0; k < 8; ++k) {
    if (!((index >> k) & 1)) continue;
    uint32_t term = ((k & 4) ? p : ~p) & ((k & 2) ? s : ~s) & ((k & 1) ? d : ~d);
    r |= term;
  }
  const bool readsSource = ((index >> 2) & 0x33) != (index & 0x33);
  const bool readsDest = ((index >> 1) & 0x55) != (index & 0x55);
  return readsSource || readsDest ? r : r & 0x00FFFFFFu;
}

}  // namespace win::gdi

// ===========================================================================
// Public API

namespace win {

using namespace gdi;

// ---------------------------------------------------------------------------
// Rectangles

BOOL SetRect(LPRECT r, int x1, int y1, int x2, int y2) {
  if (!r) return 0;
  *r = RECT{x1, y1, x2, y2};
  return 1;
}
BOOL SetRectEmpty(LPRECT r) {
  if (!r) return 0;
  *r = RECT{};
  return 1;
}
BOOL CopyRect(LPRECT d, const RECT* s) {
  if (!d || !s) return 0;
  *d = *s;
  return 1;
}
BOOL InflateRect(LPRECT r, int dx, int dy) {
  if (!r) return 0;
  r->left -= dx;
  r->top -= dy;
  r->right += dx;
  r->bottom += dy;
  return 1;
}
BOOL OffsetRect(LPRECT r, int dx, int dy) {
  if (!r) return 0;
  r->left += dx;
  r->right += dx;
  r->top += dy;
  r->bottom += dy;
  return 1;
}
BOOL IsRectEmpty(const RECT* r) { return !r || r->right <= r->left || r->bottom <= r->top; }
BOOL IntersectRect(LPRECT d, const RECT* a, const RECT* b) {
  if (!d || !a || !b) return 0;
  RECT r{std::max(a->left, b->left), std::max(a->top, b->top), std::min(a->right, b->right),
         std::min(a->bottom, b->bottom)};
  if (IsRectEmpty(&r)) {
    *d = RECT{};
    return 0;
  }
  *d = r;
  return 1;
}
BOOL UnionRect(LPRECT d, const RECT* a, const RECT* b) {
  if (!d || !a || !b) return 0;
  bool ea = IsRectEmpty(a), eb = IsRectEmpty(b);
  if (ea && eb) {
    *d = RECT{};
    return 0;
  }
  if (ea) {
    *d = *b;
    return 1;
  }
  if (eb) {
    *d = *a;
    return 1;
  }
  *d = RECT{std::min(a->left, b->left), std::min(a->top, b->top), std::max(a->right, b->right),
            std::max(a->bottom, b->bottom)};
  return 1;
}
BOOL SubtractRect(LPRECT d, const RECT* a, const RECT* b) {
  if (!d || !a || !b) return 0;
  if (IsRectEmpty(a)) {
    *d = RECT{};
    return 0;
  }
  RECT r = *a, i;
  if (IntersectRect(&i, a, b)) {
    // only a full cut along one side shrinks the rectangle
    if (i.top == r.top && i.bottom == r.bottom) {
      if (i.left == r.left) r.left = i.right;
      else if (i.right == r.right) r.right = i.left;
    } else if (i.left == r.left && i.right == r.right) {
      if (i.top == r.top) r.top = i.bottom;
      else if (i.bottom == r.bottom) r.bottom = i.top;
    }
  }
  if (IsRectEmpty(&r)) {
    *d = RECT{};
    return 0;
  }
  *d = r;
  return 1;
}
BOOL EqualRect(const RECT* a, const RECT* b) {
  if (!a || !b) return 0;
  return *a == *b;
}
BOOL PtInRect(const RECT* r, POINT pt) {
  if (!r) return 0;
  return pt.x >= r->left && pt.x < r->right && pt.y >= r->top && pt.y < r->bottom;
}

// ---------------------------------------------------------------------------
// System colours

namespace {

// The platform's default colours of version 6.1, indexes 0-30.
constexpr std::array<COLORREF, 31> DefaultSysColors = {{
    RGB(200, 200, 200),  // COLOR_SCROLLBAR
    RGB(0, 0, 0),        // COLOR_BACKGROUND
    RGB(153, 180, 209),  // COLOR_ACTIVECAPTION
    RGB(191, 205, 219),  // COLOR_INACTIVECAPTION
    RGB(240, 240, 240),  // COLOR_MENU
    RGB(255, 255, 255),  // COLOR_WINDOW
    RGB(100, 100, 100),  // COLOR_WINDOWFRAME
    RGB(0, 0, 0),        // COLOR_MENUTEXT
    RGB(0, 0, 0),        // COLOR_WINDOWTEXT
    RGB(0, 0, 0),        // COLOR_CAPTIONTEXT
    RGB(180, 180, 180),  // COLOR_ACTIVEBORDER
    RGB(244, 247, 252),  // COLOR_INACTIVEBORDER
    RGB(171, 171, 171),  // COLOR_APPWORKSPACE
    RGB(51, 153, 255),   // COLOR_HIGHLIGHT
    RGB(255, 255, 255),  // COLOR_HIGHLIGHTTEXT
    RGB(240, 240, 240),  // COLOR_BTNFACE
    RGB(160, 160, 160),  // COLOR_BTNSHADOW
    RGB(109, 109, 109),  // COLOR_GRAYTEXT
    RGB(0, 0, 0),        // COLOR_BTNTEXT
    RGB(67, 78, 84),     // COLOR_INACTIVECAPTIONTEXT
    RGB(255, 255, 255),  // COLOR_BTNHIGHLIGHT
    RGB(105, 105, 105),  // COLOR_3DDKSHADOW
    RGB(227, 227, 227),  // COLOR_3DLIGHT
    RGB(0, 0, 0),        // COLOR_INFOTEXT
    RGB(255, 255, 225),  // COLOR_INFOBK
    RGB(0, 0, 0),        // 25: unused
    RGB(0, 102, 204),    // COLOR_HOTLIGHT
    RGB(185, 209, 234),  // COLOR_GRADIENTACTIVECAPTION
    RGB(215, 228, 242),  // COLOR_GRADIENTINACTIVECAPTION
    RGB(51, 153, 255),   // COLOR_MENUHILIGHT
    RGB(240, 240, 240),  // COLOR_MENUBAR
}};

// The current colours (SetSysColors changes them).
std::array<COLORREF, 31> SysColors = DefaultSysColors;

TBrushObj* NewBrush(UINT style, COLORREF color) {
  auto* b = new TBrushObj();
  b->Type = OBJ_BRUSH;
  b->Style = style;
  b->Color = color;
  return b;
}
TPenObj* NewPen(DWORD style, int width, COLORREF color) {
  auto* p = new TPenObj();
  p->Type = OBJ_PEN;
  p->Style = style;
  p->Width = width;
  p->Color = color;
  return p;
}
TFontObj* NewFont(const LOGFONTW& lf) {
  auto* f = new TFontObj();
  f->Type = OBJ_FONT;
  f->Log = lf;
  return f;
}
LOGFONTW MakeLogFont(int height, int weight, const char16_t* face, BYTE charset, BYTE pitch) {
  LOGFONTW lf{};
  lf.lfHeight = height;
  lf.lfWeight = weight;
  lf.lfCharSet = charset;
  lf.lfPitchAndFamily = pitch;
  for (int i = 0; face[i] && i < LF_FACESIZE - 1; ++i) lf.lfFaceName[i] = face[i];
  return lf;
}

struct TStock {
  TGdiObject* Objects[20] = {};
  TBrushObj* SysBrushes[31] = {};
  TBitmapObj* DefaultBitmap = nullptr;
};

TStock& Stock() {
  static TStock* s = [] {
    auto* st = new TStock();
    auto add = [&](int i, TGdiObject* o) {
      o->Stock = true;
      Register(o);
      st->Objects[i] = o;
    };
    add(WHITE_BRUSH, NewBrush(BS_SOLID, RGB(255, 255, 255)));
    add(LTGRAY_BRUSH, NewBrush(BS_SOLID, RGB(192, 192, 192)));
    add(GRAY_BRUSH, NewBrush(BS_SOLID, RGB(128, 128, 128)));
    add(DKGRAY_BRUSH, NewBrush(BS_SOLID, RGB(64, 64, 64)));
    add(BLACK_BRUSH, NewBrush(BS_SOLID, RGB(0, 0, 0)));
    add(NULL_BRUSH, NewBrush(BS_NULL, 0));
    add(WHITE_PEN, NewPen(PS_SOLID, 0, RGB(255, 255, 255)));
    add(BLACK_PEN, NewPen(PS_SOLID, 0, RGB(0, 0, 0)));
    add(NULL_PEN, NewPen(PS_NULL, 0, 0));
    add(OEM_FIXED_FONT, NewFont(MakeLogFont(12, 400, u"Terminal", 255, 0x31)));
    add(ANSI_FIXED_FONT, NewFont(MakeLogFont(12, 400, u"Courier", 0, 0x31)));
    add(ANSI_VAR_FONT, NewFont(MakeLogFont(12, 400, u"MS Sans Serif", 0, 0x22)));
    add(SYSTEM_FONT, NewFont(MakeLogFont(16, 700, u"System", 1, 0x22)));
    add(DEVICE_DEFAULT_FONT, NewFont(MakeLogFont(16, 700, u"System", 1, 0x22)));
    add(SYSTEM_FIXED_FONT, NewFont(MakeLogFont(16, 400, u"Fixedsys", 1, 0x31)));
    add(DEFAULT_GUI_FONT, NewFont(MakeLogFont(-11, 400, u"MS Shell Dlg", 1, 0)));
    {
      auto* pal = new TPaletteObj();
      pal->Type = OBJ_PAL;
      static const BYTE rgb[20][3] = {{0, 0, 0},       {128, 0, 0},     {0, 128, 0},     {128, 128, 0},
                                      {0, 0, 128},     {128, 0, 128},   {0, 128, 128},   {192, 192, 192},
                                      {192, 220, 192}, {166, 202, 240}, {255, 251, 240}, {160, 160, 164},
                                      {128, 128, 128}, {255, 0, 0},     {0, 255, 0},     {255, 255, 0},
                                      {0, 0, 255},     {255, 0, 255},   {0, 255, 255},   {255, 255, 255}};
      for (auto& c : rgb) pal->Entries.push_back(PALETTEENTRY{c[0], c[1], c[2], 0});
      add(DEFAULT_PALETTE, pal);
    }
    {
      auto* b = NewBrush(BS_SOLID, RGB(255, 255, 255));
      b->IsDCBrush = true;
      add(DC_BRUSH, b);
      auto* p = NewPen(PS_SOLID, 0, 0);
      p->IsDCPen = true;
      add(DC_PEN, p);
    }
    for (int i = 0; i < 31; ++i) {
      auto* b = NewBrush(BS_SOLID, SysColors[i]);
      b->SysColorIndex = i;
      b->Stock = true;
      Register(b);
      st->SysBrushes[i] = b;
    }
    {
      auto* bm = new TBitmapObj();
      bm->Type = OBJ_BITMAP;
      bm->Stock = true;
      bm->Width = bm->Height = 1;
      bm->BitsPixel = 1;
      bm->Stride = 2;
      bm->Storage.assign(2, 0);
      bm->Bits = bm->Storage.data();
      bm->Colors = {RGBQUAD{0, 0, 0, 0}, RGBQUAD{255, 255, 255, 0}};
      Register(bm);
      st->DefaultBitmap = bm;
    }
    return st;
  }();
  return *s;
}

// Reference counting of objects held by DC states (current and saved).
void Hold(TGdiObject* o) {
  if (o) ++o->SelectCount;
}
void Drop(TGdiObject* o) {
  if (!o) return;
  if (--o->SelectCount <= 0) {
    o->SelectCount = 0;
    if (o->DeletePending && !o->Stock) Destroy(o);
  }
}
void HoldState(const TDCState& s) {
  Hold(s.Pen);
  Hold(s.Brush);
  Hold(s.Font);
  Hold(s.Bitmap);
  Hold(s.Palette);
}
void DropState(const TDCState& s) {
  Drop(s.Pen);
  Drop(s.Brush);
  Drop(s.Font);
  Drop(s.Palette);
  if (s.Bitmap) {
    // the bitmap stays selected while any state of the DC names it
    Drop(s.Bitmap);
  }
}

void InitState(TDCObj* dc) {
  TStock& st = Stock();
  dc->S.Pen = static_cast<TPenObj*>(st.Objects[BLACK_PEN]);
  dc->S.Brush = static_cast<TBrushObj*>(st.Objects[WHITE_BRUSH]);
  dc->S.Font = static_cast<TFontObj*>(st.Objects[SYSTEM_FONT]);
  dc->S.Palette = static_cast<TPaletteObj*>(st.Objects[DEFAULT_PALETTE]);
  dc->S.Bitmap = dc->IsMemory ? st.DefaultBitmap : nullptr;
  HoldState(dc->S);
  if (dc->S.Bitmap) dc->S.Bitmap->SelectedInto = dc;
}

constexpr int DefaultScreenWidth = 1280, DefaultScreenHeight = 1024;

struct TScreen {
  std::vector<uint32_t> Pixels;
  TSurface Surface;
  std::mutex Lock;
};
TScreen& Screen() {
  static TScreen* s = [] {
    auto* sc = new TScreen();
    sc->Pixels.assign(size_t(DefaultScreenWidth) * DefaultScreenHeight, 0);
    sc->Surface = TSurface{sc->Pixels.data(), DefaultScreenWidth, DefaultScreenWidth, DefaultScreenHeight};
    return sc;
  }();
  return *s;
}

}  // namespace

}  // namespace win

namespace win::gdi {

namespace {
std::atomic<int> LogPixels{96};
}  // namespace

void SetPixelsPerInch(int ppi) { LogPixels = ppi > 0 ? ppi : 96; }
int PixelsPerInch() { return LogPixels; }

void SetScreenSurface(const TSurface& surface) {
  TScreen& s = Screen();
  std::lock_guard<std::mutex> lock(s.Lock);
  s.Surface = surface;
}
TSurface ScreenSurface() {
  TScreen& s = Screen();
  std::lock_guard<std::mutex> lock(s.Lock);
  return s.Surface;
}

HDC CreateSurfaceDC(const TSurface& surface, POINT origin) {
  auto* dc = new TDCObj();
  dc->Type = OBJ_DC;
  dc->External = surface;
  dc->SurfaceOrigin = origin;
  InitState(dc);
  return static_cast<HDC>(Register(dc));
}
void SetDCSurface(HDC hdc, const TSurface& surface, POINT origin) {
  if (TDCObj* dc = LookupDC(hdc)) {
    dc->External = surface;
    dc->SurfaceOrigin = origin;
  }
}
void SetDCVisRgn(HDC hdc, HRGN hrgn) {
  TDCObj* dc = LookupDC(hdc);
  if (!dc) return;
  if (TRegionObj* r = LookupRegion(hrgn)) {
    dc->HasVisRgn = true;
    dc->VisRgn = r->Rgn;
  } else {
    dc->HasVisRgn = false;
    dc->VisRgn.Clear();
  }
}

bool DeviceClip(const TDCObj* dc, TRgn& out) {
  if (!dc->S.HasClip && !dc->HasVisRgn) return false;
  if (dc->S.HasClip) {
    out = dc->S.Clip;
    if (dc->HasVisRgn) out.Intersect(dc->VisRgn);
  } else {
    out = dc->VisRgn;
  }
  return true;
}

}  // namespace win::gdi

namespace win {

DWORD GetSysColor(int nIndex) {
  if (nIndex < 0 || nIndex > 30) return 0;
  return SysColors[nIndex];
}

HBRUSH GetSysColorBrush(int nIndex) {
  if (nIndex < 0 || nIndex > 30) return nullptr;
  return reinterpret_cast<HBRUSH>(Stock().SysBrushes[nIndex]);
}

namespace {
BOOL NotifySysColorChange(HWND h, LPARAM) {
  SendMessageW(h, WM_SYSCOLORCHANGE, 0, 0);
  return TRUE;
}
// WM_SYSCOLORCHANGE to every top-level window, as the system sends it.
void BroadcastSysColorChange() { EnumWindows(&NotifySysColorChange, 0); }
}  // namespace

BOOL SetSysColors(int cElements, const INT* lpaElements, const COLORREF* lpaRgbValues) {
  if (cElements < 0 || (cElements > 0 && (!lpaElements || !lpaRgbValues))) return FALSE;
  TStock& st = Stock();
  for (int i = 0; i < cElements; ++i) {
    int index = lpaElements[i];
    if (index < 0 || index > 30) continue;
    SysColors[index] = lpaRgbValues[i] & 0xFFFFFF;
    st.SysBrushes[index]->Color = SysColors[index];
  }
  BroadcastSysColorChange();
  return TRUE;
}

// ---------------------------------------------------------------------------
// Objects

HPEN CreatePen(int iStyle, int cWidth, COLORREF color) {
  DWORD style = DWORD(iStyle) & PS_STYLE_MASK;
  if (style > PS_INSIDEFRAME) style = PS_SOLID;
  auto* p = NewPen(style, std::max(cWidth, 0), color);
  // a wide pen is solid unless it frames inside
  if (p->Width > 1 && style != PS_NULL && style != PS_INSIDEFRAME) p->Style = PS_SOLID;
  return static_cast<HPEN>(Register(p));
}

HPEN CreatePenIndirect(const LOGPEN* lp) {
  if (!lp) return nullptr;
  return CreatePen(int(lp->lopnStyle), lp->lopnWidth.x, lp->lopnColor);
}

HPEN ExtCreatePen(DWORD iPenStyle, DWORD cWidth, const LOGBRUSH* plbrush, DWORD cStyle, const DWORD* pstyle) {
  if (!plbrush) return nullptr;
  DWORD type = iPenStyle & PS_TYPE_MASK;
  DWORD dash = iPenStyle & PS_STYLE_MASK;
  if (type == PS_COSMETIC && cWidth != 1) return nullptr;
  if (dash == PS_ALTERNATE && type != PS_COSMETIC) return nullptr;
  if (dash == PS_USERSTYLE && (cStyle == 0 || cStyle > 16 || !pstyle)) return nullptr;
  if (dash != PS_USERSTYLE && cStyle != 0) return nullptr;
  auto* p = NewPen(iPenStyle, int(std::min<DWORD>(cWidth, 0x7FFF)), plbrush->lbColor);
  p->Type = OBJ_EXTPEN;
  p->Extended = true;
  p->BrushStyle = plbrush->lbStyle;
  p->Hatch = plbrush->lbHatch;
  if (dash == PS_USERSTYLE) p->UserStyle.assign(pstyle, pstyle + cStyle);
  return static_cast<HPEN>(Register(p));
}

HBRUSH CreateSolidBrush(COLORREF color) { return static_cast<HBRUSH>(Register(NewBrush(BS_SOLID, color))); }

HBRUSH CreateHatchBrush(int iHatch, COLORREF color) {
  if (iHatch < HS_HORIZONTAL || iHatch > HS_DIAGCROSS) return nullptr;
  auto* b = NewBrush(BS_HATCHED, color);
  b->Hatch = iHatch;
  return static_cast<HBRUSH>(Register(b));
}

HBRUSH CreatePatternBrush(HBITMAP hbm) {
  TBitmapObj* bm = LookupBitmap(hbm);
  if (!bm || bm->Width <= 0 || bm->Height <= 0) return nullptr;
  auto pat = std::make_shared<TPattern>();
  pat->Width = bm->Width;
  pat->Height = bm->Height;
  pat->Mono = bm->IsMono();
  TSurface s = BitmapSurface(bm);
  pat->Pixels.resize(size_t(bm->Width) * bm->Height);
  for (int y = 0; y < bm->Height; ++y)
    for (int x = 0; x < bm->Width; ++x) {
      uint32_t px = s.Row(y)[x];
      pat->Pixels[size_t(y) * bm->Width + x] = pat->Mono ? ((px & 0xFFFFFF) ? 1u : 0u) : (px & 0xFFFFFF);
    }
  auto* b = NewBrush(BS_PATTERN, 0);
  b->Pattern = std::move(pat);
  b->PatternBitmap = hbm;
  return static_cast<HBRUSH>(Register(b));
}

HBRUSH CreateBrushIndirect(const LOGBRUSH* lb) {
  if (!lb) return nullptr;
  switch (lb->lbStyle) {
    case BS_SOLID: return CreateSolidBrush(lb->lbColor);
    case BS_NULL: return static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
    case BS_HATCHED: return CreateHatchBrush(int(lb->lbHatch), lb->lbColor);
    case BS_PATTERN:
    case BS_PATTERN8X8: return CreatePatternBrush(reinterpret_cast<HBITMAP>(lb->lbHatch));
    case BS_DIBPATTERNPT:
    case BS_DIBPATTERN8X8: return CreateDIBPatternBrushPt(reinterpret_cast<const void*>(lb->lbHatch), UINT(lb->lbColor & 0xFFFF));
    default: return nullptr;
  }
}

HFONT CreateFontIndirectW(const LOGFONTW* lplf) {
  if (!lplf) return nullptr;
  LOGFONTW lf = *lplf;
  lf.lfFaceName[LF_FACESIZE - 1] = 0;
  return static_cast<HFONT>(Register(NewFont(lf)));
}

HFONT CreateFontW(int cHeight, int cWidth, int cEscapement, int cOrientation, int cWeight, DWORD bItalic,
                  DWORD bUnderline, DWORD bStrikeOut, DWORD iCharSet, DWORD iOutPrecision, DWORD iClipPrecision,
                  DWORD iQuality, DWORD iPitchAndFamily, LPCWSTR pszFaceName) {
  LOGFONTW lf{};
  lf.lfHeight = cHeight;
  lf.lfWidth = cWidth;
  lf.lfEscapement = cEscapement;
  lf.lfOrientation = cOrientation;
  lf.lfWeight = cWeight;
  lf.lfItalic = BYTE(bItalic ? 1 : 0);
  lf.lfUnderline = BYTE(bUnderline ? 1 : 0);
  lf.lfStrikeOut = BYTE(bStrikeOut ? 1 : 0);
  lf.lfCharSet = BYTE(iCharSet);
  lf.lfOutPrecision = BYTE(iOutPrecision);
  lf.lfClipPrecision = BYTE(iClipPrecision);
  lf.lfQuality = BYTE(iQuality);
  lf.lfPitchAndFamily = BYTE(iPitchAndFamily);
  if (pszFaceName)
    for (int i = 0; pszFaceName[i] && i < LF_FACESIZE - 1; ++i) lf.lfFaceName[i] = pszFaceName[i];
  return CreateFontIndirectW(&lf);
}

HGDIOBJ GetStockObject(int i) {
  if (i < 0 || i >= 20) return nullptr;
  return Stock().Objects[i];
}

HPALETTE CreatePalette(const LOGPALETTE* plpal) {
  if (!plpal || plpal->palNumEntries == 0) return nullptr;
  auto* p = new TPaletteObj();
  p->Type = OBJ_PAL;
  p->Entries.assign(plpal->palPalEntry, plpal->palPalEntry + plpal->palNumEntries);
  return static_cast<HPALETTE>(Register(p));
}

HPALETTE CreateHalftonePalette(HDC) {
  auto* p = new TPaletteObj();
  p->Type = OBJ_PAL;
  for (int r = 0; r < 6; ++r)
    for (int g = 0; g < 6; ++g)
      for (int b = 0; b < 6; ++b)
        p->Entries.push_back(PALETTEENTRY{BYTE(r * 51), BYTE(g * 51), BYTE(b * 51), 0});
  return static_cast<HPALETTE>(Register(p));
}

UINT GetPaletteEntries(HPALETTE hpal, UINT iStart, UINT cEntries, PALETTEENTRY* out) {
  auto* p = static_cast<TPaletteObj*>(Lookup(hpal, OBJ_PAL));
  if (!p) return 0;
  UINT n = UINT(p->Entries.size());
  if (!out) return n;
  if (iStart >= n) return 0;
  UINT c = std::min(cEntries, n - iStart);
  std::copy_n(p->Entries.begin() + iStart, c, out);
  return c;
}

UINT GetSystemPaletteEntries(HDC, UINT, UINT, PALETTEENTRY*) { return 0; }

UINT GetNearestPaletteIndex(HPALETTE h, COLORREF color) {
  auto* p = static_cast<TPaletteObj*>(Lookup(h, OBJ_PAL));
  if (!p || p->Entries.empty()) return CLR_INVALID;
  UINT best = 0;
  long bestD = -1;
  for (UINT i = 0; i < p->Entries.size(); ++i) {
    long dr = long(p->Entries[i].peRed) - GetRValue(color), dg = long(p->Entries[i].peGreen) - GetGValue(color),
         db = long(p->Entries[i].peBlue) - GetBValue(color);
    long d = dr * dr + dg * dg + db * db;
    if (bestD < 0 || d < bestD) {
      bestD = d;
      best = i;
    }
  }
  return best;
}

HPALETTE SelectPalette(HDC hdc, HPALETTE hPal, BOOL) {
  TDCObj* dc = LookupDC(hdc);
  auto* p = static_cast<TPaletteObj*>(Lookup(hPal, OBJ_PAL));
  if (!dc || !p) return nullptr;
  TPaletteObj* old = dc->S.Palette;
  Hold(p);
  dc->S.Palette = p;
  Drop(old);
  return reinterpret_cast<HPALETTE>(old);
}
// A 32-bit surface has no palette to realize.
UINT RealizePalette(HDC hdc) { return LookupDC(hdc) ? 0 : GDI_ERROR; }
BOOL UpdateColors(HDC hdc) { return LookupDC(hdc) ? 1 : 0; }

// Icons and image lists live in the handle table too, but are no GDI objects.
constexpr DWORD FirstInternalType = 0x100;

DWORD GetObjectType(HGDIOBJ h) {
  TGdiObject* o = Lookup(h);
  return o && o->Type < FirstInternalType ? o->Type : 0;
}

int GetObjectW(HANDLE h, int c, LPVOID pv) {
  TGdiObject* o = Lookup(h);
  if (!o || o->Type >= FirstInternalType) return 0;
  auto put = [&](const void* data, int size) -> int {
    if (!pv) return size;
    if (c <= 0) return 0;
    int n = std::min(c, size);
    std::memcpy(pv, data, size_t(n));
    return n;
  };
  switch (o->Type) {
    case OBJ_PEN: {
      auto* p = static_cast<TPenObj*>(o);
      LOGPEN lp{p->Style, POINT{p->Width, 0}, p->Color};
      if (pv && c < int(sizeof(LOGPEN))) return 0;
      return put(&lp, sizeof(lp));
    }
    case OBJ_EXTPEN: {
      auto* p = static_cast<TPenObj*>(o);
      size_t n = p->UserStyle.size();
      size_t size = offsetof(EXTLOGPEN, elpStyleEntry) + n * sizeof(DWORD);
      std::vector<uint8_t> buf(std::max(size, sizeof(EXTLOGPEN)), 0);
      auto* e = reinterpret_cast<EXTLOGPEN*>(buf.data());
      e->elpPenStyle = p->Style;
      e->elpWidth = DWORD(p->Width);
      e->elpBrushStyle = p->BrushStyle;
      e->elpColor = p->Color;
      e->elpHatch = p->Hatch;
      e->elpNumEntries = DWORD(n);
      std::memcpy(buf.data() + offsetof(EXTLOGPEN, elpStyleEntry), p->UserStyle.data(), n * sizeof(DWORD));
      if (pv && c < int(size)) return 0;
      return put(buf.data(), int(size));
    }
    case OBJ_BRUSH: {
      auto* b = static_cast<TBrushObj*>(o);
      LOGBRUSH lb{b->Style, b->Color, 0};
      if (b->Style == BS_HATCHED) lb.lbHatch = ULONG_PTR(b->Hatch);
      if (b->Style == BS_PATTERN) lb.lbHatch = reinterpret_cast<ULONG_PTR>(b->PatternBitmap), lb.lbColor = 0;
      return put(&lb, sizeof(lb));
    }
    case OBJ_FONT: return put(&static_cast<TFontObj*>(o)->Log, sizeof(LOGFONTW));
    case OBJ_PAL: {
      WORD n = WORD(static_cast<TPaletteObj*>(o)->Entries.size());
      return put(&n, sizeof(n));
    }
    case OBJ_BITMAP: {
      auto* b = static_cast<TBitmapObj*>(o);
      BITMAP bm{};
      bm.bmType = 0;
      bm.bmWidth = b->Width;
      bm.bmHeight = b->Height;
      bm.bmPlanes = 1;
      bm.bmBitsPixel = WORD(b->BitsPixel);
      if (b->IsDIB) {
        bm.bmWidthBytes = LONG(((b->Width * b->BitsPixel + 31) / 32) * 4);
        bm.bmBits = b->Bits;
      } else {
        bm.bmWidthBytes = LONG(((b->Width * b->BitsPixel + 15) / 16) * 2);
      }
      if (b->IsDIB && pv && c >= int(sizeof(DIBSECTION))) {
        DIBSECTION ds{};
        ds.dsBm = bm;
        ds.dsBmih.biSize = sizeof(BITMAPINFOHEADER);
        ds.dsBmih.biWidth = b->Width;
        ds.dsBmih.biHeight = b->TopDown ? -b->Height : b->Height;
        ds.dsBmih.biPlanes = 1;
        ds.dsBmih.biBitCount = WORD(b->BitsPixel);
        ds.dsBmih.biCompression = b->Compression;
        ds.dsBmih.biSizeImage = DWORD(bm.bmWidthBytes) * DWORD(b->Height);
        ds.dsBmih.biClrUsed = DWORD(b->Colors.size());
        for (int i = 0; i < 3; ++i) ds.dsBitfields[i] = b->Masks[i];
        return put(&ds, sizeof(ds));
      }
      return put(&bm, sizeof(bm));
    }
    default: return 0;
  }
}

HGDIOBJ GetCurrentObject(HDC hdc, UINT type) {
  TDCObj* dc = LookupDC(hdc);
  if (!dc) return nullptr;
  switch (type) {
    case OBJ_PEN:
    case OBJ_EXTPEN: return dc->S.Pen;
    case OBJ_BRUSH: return dc->S.Brush;
    case OBJ_FONT: return dc->S.Font;
    case OBJ_PAL: return dc->S.Palette;
    case OBJ_BITMAP: return dc->IsMemory ? static_cast<TGdiObject*>(dc->S.Bitmap) : nullptr;
    default: return nullptr;
  }
}

HGDIOBJ SelectObject(HDC hdc, HGDIOBJ h) {
  TDCObj* dc = LookupDC(hdc);
  TGdiObject* o = Lookup(h);
  if (!dc || !o || o->DeletePending) return nullptr;
  switch (o->Type) {
    case OBJ_PEN:
    case OBJ_EXTPEN: {
      TPenObj* old = dc->S.Pen;
      Hold(o);
      dc->S.Pen = static_cast<TPenObj*>(o);
      Drop(old);
      return old;
    }
    case OBJ_BRUSH: {
      TBrushObj* old = dc->S.Brush;
      Hold(o);
      dc->S.Brush = static_cast<TBrushObj*>(o);
      Drop(old);
      return old;
    }
    case OBJ_FONT: {
      TFontObj* old = dc->S.Font;
      Hold(o);
      dc->S.Font = static_cast<TFontObj*>(o);
      Drop(old);
      return old;
    }
    case OBJ_BITMAP: {
      auto* bm = static_cast<TBitmapObj*>(o);
      if (!dc->IsMemory) return nullptr;
      // a bitmap can be selected into one DC only
      if (bm->SelectedInto && bm->SelectedInto != dc) return nullptr;
      if (bm->Stock && bm != Stock().DefaultBitmap) return nullptr;
      TBitmapObj* old = dc->S.Bitmap;
      Hold(bm);
      bm->SelectedInto = dc;
      dc->S.Bitmap = bm;
      if (old && old != bm) {
        bool stillUsed = false;
        for (auto& s : dc->Saved) stillUsed |= s.Bitmap == old;
        if (!stillUsed) old->SelectedInto = nullptr;
      }
      Drop(old);
      // a new surface: the clip region is reset as on the platform
      dc->S.HasClip = false;
      dc->S.Clip.Clear();
      return old;
    }
    case OBJ_REGION: {
      int r = SelectClipRgn(hdc, static_cast<HRGN>(h));
      return reinterpret_cast<HGDIOBJ>(intptr_t(r));
    }
    default: return nullptr;
  }
}

BOOL DeleteObject(HGDIOBJ ho) {
  TGdiObject* o = Lookup(ho);
  if (!o || o->Type >= FirstInternalType) return 0;
  if (o->Type == OBJ_DC || o->Type == OBJ_MEMDC) return 0;
  if (o->Stock) return 1;  // stock objects and system brushes are never deleted
  // an object selected into a DC (or held by a saved state) is not deleted
  if (o->SelectCount > 0) return 0;
  Destroy(o);
  return 1;
}

BOOL UnrealizeObject(HGDIOBJ h) { return Lookup(h) ? 1 : 0; }

// ---------------------------------------------------------------------------
// Device contexts

HDC CreateCompatibleDC(HDC hdc) {
  if (hdc && !LookupDC(hdc)) return nullptr;
  auto* dc = new TDCObj();
  dc->Type = OBJ_MEMDC;
  dc->IsMemory = true;
  InitState(dc);
  return static_cast<HDC>(Register(dc));
}

BOOL DeleteDC(HDC hdc) {
  TDCObj* dc = LookupDC(hdc);
  if (!dc) return 0;
  for (auto& s : dc->Saved) DropState(s);
  DropState(dc->S);
  auto release = [&](TBitmapObj* b) {
    if (b && b->SelectedInto == dc) b->SelectedInto = nullptr;
  };
  release(dc->S.Bitmap);
  for (auto& s : dc->Saved) release(s.Bitmap);
  Destroy(dc);
  return 1;
}

HDC GetDC(HWND hWnd) {
  if (hWnd) return WindowDCHook ? WindowDCHook(hWnd, false) : nullptr;
  HDC h = CreateSurfaceDC(ScreenSurface(), POINT{0, 0});
  if (TDCObj* dc = LookupDC(h)) dc->IsScreen = true;
  return h;
}

int ReleaseDC(HWND hWnd, HDC hDC) {
  if (hWnd && ReleaseDCHook) return ReleaseDCHook(hWnd, hDC);
  TDCObj* dc = LookupDC(hDC);
  if (!dc || dc->IsMemory || dc->Window != hWnd) return 0;
  return DeleteDC(hDC);
}

int SaveDC(HDC hdc) {
  TDCObj* dc = LookupDC(hdc);
  if (!dc) return 0;
  dc->Saved.push_back(dc->S);
  HoldState(dc->S);
  return int(dc->Saved.size());
}

BOOL RestoreDC(HDC hdc, int nSavedDC) {
  TDCObj* dc = LookupDC(hdc);
  if (!dc) return 0;
  int n = int(dc->Saved.size());
  int level = nSavedDC < 0 ? n + 1 + nSavedDC : nSavedDC;
  if (level < 1 || level > n) return 0;
  // drop the states above the restored one, then make it current
  TBitmapObj* oldBitmap = dc->S.Bitmap;
  DropState(dc->S);
  while (int(dc->Saved.size()) > level) {
    DropState(dc->Saved.back());
    dc->Saved.pop_back();
  }
  dc->S = std::move(dc->Saved.back());
  dc->Saved.pop_back();
  if (oldBitmap && oldBitmap != dc->S.Bitmap) {
    bool used = false;
    for (auto& s : dc->Saved) used |= s.Bitmap == oldBitmap;
    if (!used && oldBitmap->SelectedInto == dc) oldBitmap->SelectedInto = nullptr;
  }
  if (dc->S.Bitmap) dc->S.Bitmap->SelectedInto = dc;
  return 1;
}

int GetDeviceCaps(HDC hdc, int index) {
  TDCObj* dc = LookupDC(hdc);
  if (!dc) return 0;
  int w = 0, h = 0, bpp = 32;
  if (dc->IsMemory && dc->S.Bitmap) {
    w = dc->S.Bitmap->Width;
    h = dc->S.Bitmap->Height;
    bpp = dc->S.Bitmap->IsMono() ? 1 : 32;
  } else {
    TSurface s = dc->IsScreen || !dc->External.Bits ? ScreenSurface() : dc->External;
    w = s.Width;
    h = s.Height;
  }
  // A memory DC reports the screen's resolution, as the platform's does.
  if (dc->IsMemory) {
    TSurface s = ScreenSurface();
    w = s.Width;
    h = s.Height;
  }
  switch (index) {
    case DRIVERVERSION: return 0x4000;
    case TECHNOLOGY: return DT_RASDISPLAY;
    case HORZRES: return w;
    case VERTRES: return h;
    case HORZSIZE: return (w * 254 + 480) / 960;
    case VERTSIZE: return (h * 254 + 480) / 960;
    case BITSPIXEL: return bpp;
    case PLANES: return 1;
    case NUMBRUSHES: case NUMPENS: case NUMCOLORS: return -1;
    case NUMFONTS: return 0;
    case RASTERCAPS:
      return RC_BITBLT | RC_BITMAP64 | RC_GDI20_OUTPUT | RC_DI_BITMAP | RC_DIBTODEV | RC_STRETCHBLT |
             RC_FLOODFILL | RC_STRETCHDIB;
    case ASPECTX: case ASPECTY: return 36;
    case ASPECTXY: return 51;
    case LOGPIXELSX: case LOGPIXELSY: return gdi::PixelsPerInch();
    case SIZEPALETTE: case NUMRESERVED: return 0;
    case COLORRES: return 24;
    case SHADEBLENDCAPS: return 0x7F;  // every SB_ capability
    default: return 0;
  }
}

COLORREF GetNearestColor(HDC hdc, COLORREF color) {
  if (!LookupDC(hdc)) return CLR_INVALID;
  return PixelToColor(ColorToPixel(color));
}

BOOL GdiFlush() { return 1; }

namespace {
template <class F>
BOOL WithDC(HDC hdc, F&& f) {
  TDCObj* dc = LookupDC(hdc);
  if (!dc) return 0;
  f(dc);
  return 1;
}
}  // namespace

BOOL SetWindowOrgEx(HDC hdc, int x, int y, LPPOINT lppt) {
  return WithDC(hdc, [&](TDCObj* dc) {
    if (lppt) *lppt = dc->S.WindowOrg;
    dc->S.WindowOrg = POINT{x, y};
  });
}
BOOL GetWindowOrgEx(HDC hdc, LPPOINT lppt) {
  return WithDC(hdc, [&](TDCObj* dc) {
    if (lppt) *lppt = dc->S.WindowOrg;
  });
}
BOOL OffsetWindowOrgEx(HDC hdc, int x, int y, LPPOINT lppt) {
  return WithDC(hdc, [&](TDCObj* dc) {
    if (lppt) *lppt = dc->S.WindowOrg;
    dc->S.WindowOrg.x += x;
    dc->S.WindowOrg.y += y;
  });
}
BOOL SetViewportOrgEx(HDC hdc, int x, int y, LPPOINT lppt) {
  return WithDC(hdc, [&](TDCObj* dc) {
    if (lppt) *lppt = dc->S.ViewportOrg;
    dc->S.ViewportOrg = POINT{x, y};
  });
}
BOOL GetViewportOrgEx(HDC hdc, LPPOINT lppt) {
  return WithDC(hdc, [&](TDCObj* dc) {
    if (lppt) *lppt = dc->S.ViewportOrg;
  });
}
BOOL OffsetViewportOrgEx(HDC hdc, int x, int y, LPPOINT lppt) {
  return WithDC(hdc, [&](TDCObj* dc) {
    if (lppt) *lppt = dc->S.ViewportOrg;
    dc->S.ViewportOrg.x += x;
    dc->S.ViewportOrg.y += y;
  });
}
BOOL GetDCOrgEx(HDC hdc, LPPOINT lppt) {
  return WithDC(hdc, [&](TDCObj* dc) {
    if (lppt) *lppt = dc->SurfaceOrigin;
  });
}
BOOL LPtoDP(HDC hdc, LPPOINT lppt, int c) {
  return WithDC(hdc, [&](TDCObj* dc) {
    for (int i = 0; lppt && i < c; ++i) lppt[i] = ToDevice(dc, lppt[i].x, lppt[i].y);
  });
}
BOOL DPtoLP(HDC hdc, LPPOINT lppt, int c) {
  return WithDC(hdc, [&](TDCObj* dc) {
    for (int i = 0; lppt && i < c; ++i) {
      lppt[i].x = lppt[i].x - dc->S.ViewportOrg.x + dc->S.WindowOrg.x;
      lppt[i].y = lppt[i].y - dc->S.ViewportOrg.y + dc->S.WindowOrg.y;
    }
  });
}
// Only MM_TEXT exists: logical units are pixels.
int SetMapMode(HDC hdc, int iMode) {
  TDCObj* dc = LookupDC(hdc);
  if (!dc || iMode != MM_TEXT) return 0;
  return MM_TEXT;
}
int GetMapMode(HDC hdc) { return LookupDC(hdc) ? MM_TEXT : 0; }
int SetGraphicsMode(HDC hdc, int iMode) {
  TDCObj* dc = LookupDC(hdc);
  if (!dc || (iMode != GM_COMPATIBLE && iMode != GM_ADVANCED)) return 0;
  int old = dc->S.GraphicsMode;
  dc->S.GraphicsMode = iMode;
  return old;
}
int GetGraphicsMode(HDC hdc) {
  TDCObj* dc = LookupDC(hdc);
  return dc ? dc->S.GraphicsMode : 0;
}
BOOL SetBrushOrgEx(HDC hdc, int x, int y, LPPOINT lppt) {
  return WithDC(hdc, [&](TDCObj* dc) {
    if (lppt) *lppt = dc->S.BrushOrg;
    dc->S.BrushOrg = POINT{x, y};
  });
}
BOOL GetBrushOrgEx(HDC hdc, LPPOINT lppt) {
  return WithDC(hdc, [&](TDCObj* dc) {
    if (lppt) *lppt = dc->S.BrushOrg;
  });
}
BOOL GetCurrentPositionEx(HDC hdc, LPPOINT lppt) {
  return WithDC(hdc, [&](TDCObj* dc) {
    if (lppt) *lppt = dc->S.CurPos;
  });
}

namespace {
template <class T>
T SetField(HDC hdc, T TDCState::*field, T value, T failure, bool valid = true) {
  TDCObj* dc = LookupDC(hdc);
  if (!dc || !valid) return failure;
  T old = dc->S.*field;
  dc->S.*field = value;
  return old;
}
template <class T>
T GetField(HDC hdc, T TDCState::*field, T failure) {
  TDCObj* dc = LookupDC(hdc);
  return dc ? dc->S.*field : failure;
}
}  // namespace

int SetROP2(HDC hdc, int rop2) { return SetField(hdc, &TDCState::Rop2, rop2, 0, rop2 >= 1 && rop2 <= 16); }
int GetROP2(HDC hdc) { return GetField(hdc, &TDCState::Rop2, 0); }
int SetBkMode(HDC hdc, int mode) {
  return SetField(hdc, &TDCState::BkMode, mode, 0, mode == TRANSPARENT || mode == OPAQUE);
}
int GetBkMode(HDC hdc) { return GetField(hdc, &TDCState::BkMode, 0); }
COLORREF SetBkColor(HDC hdc, COLORREF c) { return SetField(hdc, &TDCState::BkColor, c, CLR_INVALID); }
COLORREF GetBkColor(HDC hdc) { return GetField(hdc, &TDCState::BkColor, CLR_INVALID); }
COLORREF SetTextColor(HDC hdc, COLORREF c) { return SetField(hdc, &TDCState::TextColor, c, CLR_INVALID); }
COLORREF GetTextColor(HDC hdc) { return GetField(hdc, &TDCState::TextColor, CLR_INVALID); }
UINT SetTextAlign(HDC hdc, UINT align) { return SetField(hdc, &TDCState::TextAlign, align, GDI_ERROR); }
UINT GetTextAlign(HDC hdc) { return GetField(hdc, &TDCState::TextAlign, GDI_ERROR); }
int SetStretchBltMode(HDC hdc, int mode) {
  return SetField(hdc, &TDCState::StretchMode, mode, 0, mode >= BLACKONWHITE && mode <= HALFTONE);
}
int GetStretchBltMode(HDC hdc) { return GetField(hdc, &TDCState::StretchMode, 0); }
int SetPolyFillMode(HDC hdc, int mode) {
  return SetField(hdc, &TDCState::PolyFillMode, mode, 0, mode == ALTERNATE || mode == WINDING);
}
int GetPolyFillMode(HDC hdc) { return GetField(hdc, &TDCState::PolyFillMode, 0); }
int SetArcDirection(HDC hdc, int dir) {
  return SetField(hdc, &TDCState::ArcDirection, dir, 0, dir == AD_CLOCKWISE || dir == AD_COUNTERCLOCKWISE);
}
int GetArcDirection(HDC hdc) { return GetField(hdc, &TDCState::ArcDirection, 0); }
COLORREF SetDCBrushColor(HDC hdc, COLORREF c) { return SetField(hdc, &TDCState::DCBrushColor, c, CLR_INVALID); }
COLORREF GetDCBrushColor(HDC hdc) { return GetField(hdc, &TDCState::DCBrushColor, CLR_INVALID); }
COLORREF SetDCPenColor(HDC hdc, COLORREF c) { return SetField(hdc, &TDCState::DCPenColor, c, CLR_INVALID); }
COLORREF GetDCPenColor(HDC hdc) { return GetField(hdc, &TDCState::DCPenColor, CLR_INVALID); }

}  // namespace win
