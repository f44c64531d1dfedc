#include "platform/backend/Sdl.h"

#include <SDL.h>
#include <SDL_shape.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/rtl/CodePages.h"
#include "platform/win/GdiInternal.h"

namespace backend {

using namespace win;

namespace {

// Keys that are not characters: SDL scan code, virtual key, extended bit.
struct TKeyMap {
  SDL_Scancode Scan;
  UINT Vk;
  bool Extended;
};
constexpr TKeyMap NamedKeys[] = {
    {SDL_SCANCODE_RETURN, VK_RETURN, false},     {SDL_SCANCODE_ESCAPE, VK_ESCAPE, false},
    {SDL_SCANCODE_BACKSPACE, VK_BACK, false},    {SDL_SCANCODE_TAB, VK_TAB, false},
    {SDL_SCANCODE_SPACE, VK_SPACE, false},       {SDL_SCANCODE_CAPSLOCK, VK_CAPITAL, false},
    {SDL_SCANCODE_PRINTSCREEN, VK_SNAPSHOT, true}, {SDL_SCANCODE_SCROLLLOCK, VK_SCROLL, false},
    {SDL_SCANCODE_PAUSE, VK_PAUSE, false},       {SDL_SCANCODE_INSERT, VK_INSERT, true},
    {SDL_SCANCODE_HOME, VK_HOME, true},          {SDL_SCANCODE_PAGEUP, VK_PRIOR, true},
    {SDL_SCANCODE_DELETE, VK_DELETE, true},      {SDL_SCANCODE_END, VK_END, true},
    {SDL_SCANCODE_PAGEDOWN, VK_NEXT, true},      {SDL_SCANCODE_RIGHT, VK_RIGHT, true},
    {SDL_SCANCODE_LEFT, VK_LEFT, true},          {SDL_SCANCODE_DOWN, VK_DOWN, true},
    {SDL_SCANCODE_UP, VK_UP, true},              {SDL_SCANCODE_NUMLOCKCLEAR, VK_NUMLOCK, true},
    {SDL_SCANCODE_KP_DIVIDE, VK_DIVIDE, true},   {SDL_SCANCODE_KP_MULTIPLY, VK_MULTIPLY, false},
    {SDL_SCANCODE_KP_MINUS, VK_SUBTRACT, false}, {SDL_SCANCODE_KP_PLUS, VK_ADD, false},
    {SDL_SCANCODE_KP_ENTER, VK_RETURN, true},    {SDL_SCANCODE_APPLICATION, VK_APPS, true},
    {SDL_SCANCODE_LCTRL, VK_LCONTROL, false},    {SDL_SCANCODE_RCTRL, VK_RCONTROL, true},
    {SDL_SCANCODE_LSHIFT, VK_LSHIFT, false},     {SDL_SCANCODE_RSHIFT, VK_RSHIFT, false},
    {SDL_SCANCODE_LALT, VK_LMENU, false},        {SDL_SCANCODE_RALT, VK_RMENU, true},
    {SDL_SCANCODE_LGUI, VK_LWIN, true},          {SDL_SCANCODE_RGUI, VK_RWIN, true},
    {SDL_SCANCODE_NONUSBACKSLASH, VK_OEM_102, false},
};

// Keys of the numeric pad: with Num Lock the digits, without it the
// navigation keys (not extended, as the platform reports them).
struct TPadKey {
  SDL_Scancode Scan;
  UINT Digit;
  UINT Navigation;
};
constexpr TPadKey PadKeys[] = {
    {SDL_SCANCODE_KP_0, VK_NUMPAD0, VK_INSERT}, {SDL_SCANCODE_KP_1, VK_NUMPAD1, VK_END},
    {SDL_SCANCODE_KP_2, VK_NUMPAD2, VK_DOWN},   {SDL_SCANCODE_KP_3, VK_NUMPAD3, VK_NEXT},
    {SDL_SCANCODE_KP_4, VK_NUMPAD4, VK_LEFT},   {SDL_SCANCODE_KP_5, VK_NUMPAD5, VK_CLEAR},
    {SDL_SCANCODE_KP_6, VK_NUMPAD6, VK_RIGHT},  {SDL_SCANCODE_KP_7, VK_NUMPAD7, VK_HOME},
    {SDL_SCANCODE_KP_8, VK_NUMPAD8, VK_UP},     {SDL_SCANCODE_KP_9, VK_NUMPAD9, VK_PRIOR},
    {SDL_SCANCODE_KP_PERIOD, VK_DECIMAL, VK_DELETE},
};

// Punctuation by its position on the reference (US) keyboard, for keys whose
// character our keyboard layout cannot type.
constexpr std::pair<SDL_Scancode, UINT> PunctuationKeys[] = {
    {SDL_SCANCODE_SEMICOLON, VK_OEM_1},     {SDL_SCANCODE_EQUALS, VK_OEM_PLUS},
    {SDL_SCANCODE_COMMA, VK_OEM_COMMA},     {SDL_SCANCODE_MINUS, VK_OEM_MINUS},
    {SDL_SCANCODE_PERIOD, VK_OEM_PERIOD},   {SDL_SCANCODE_SLASH, VK_OEM_2},
    {SDL_SCANCODE_GRAVE, VK_OEM_3},         {SDL_SCANCODE_LEFTBRACKET, VK_OEM_4},
    {SDL_SCANCODE_BACKSLASH, VK_OEM_5},     {SDL_SCANCODE_RIGHTBRACKET, VK_OEM_6},
    {SDL_SCANCODE_APOSTROPHE, VK_OEM_7},
};

// The virtual key of an SDL key; 0 for a key the window system has none for.
UINT VirtualKey(const SDL_Keysym& k, bool& extended) {
  extended = false;
  for (const TKeyMap& m : NamedKeys)
    if (m.Scan == k.scancode) {
      extended = m.Extended;
      return m.Vk;
    }
  for (const TPadKey& p : PadKeys)
    if (p.Scan == k.scancode) return (SDL_GetModState() & KMOD_NUM) ? p.Digit : p.Navigation;
  if (k.scancode >= SDL_SCANCODE_F1 && k.scancode <= SDL_SCANCODE_F12) return VK_F1 + (k.scancode - SDL_SCANCODE_F1);
  if (k.scancode >= SDL_SCANCODE_F13 && k.scancode <= SDL_SCANCODE_F24)
    return VK_F13 + (k.scancode - SDL_SCANCODE_F13);
  // A character key: the key that types the same character in our layout,
  // so that the virtual key follows the user's keyboard.
  SDL_Keycode code = k.sym;
  if (code > 0 && code < 0x10000 && !(code & SDLK_SCANCODE_MASK)) {
    if (code >= 'a' && code <= 'z') return UINT(code - 'a' + 'A');
    if (code >= '0' && code <= '9') return UINT(code);
    SHORT s = VkKeyScanW(WCHAR(code));
    if (s != -1) return UINT(s) & 0xFF;
  }
  if (k.scancode >= SDL_SCANCODE_A && k.scancode <= SDL_SCANCODE_Z) return 'A' + (k.scancode - SDL_SCANCODE_A);
  if (k.scancode >= SDL_SCANCODE_1 && k.scancode <= SDL_SCANCODE_9) return '1' + (k.scancode - SDL_SCANCODE_1);
  if (k.scancode == SDL_SCANCODE_0) return '0';
  for (auto& p : PunctuationKeys)
    if (p.first == k.scancode) return p.second;
  return 0;
}

int MouseButton(uint8_t b) {
  switch (b) {
    case SDL_BUTTON_LEFT: return VK_LBUTTON;
    case SDL_BUTTON_RIGHT: return VK_RBUTTON;
    case SDL_BUTTON_MIDDLE: return VK_MBUTTON;
    case SDL_BUTTON_X1: return VK_XBUTTON1;
    case SDL_BUTTON_X2: return VK_XBUTTON2;
    default: return 0;
  }
}

// The standard cursors and the system cursor that shows each.
constexpr std::pair<uintptr_t, SDL_SystemCursor> StandardCursors[] = {
    {32512, SDL_SYSTEM_CURSOR_ARROW},    {32513, SDL_SYSTEM_CURSOR_IBEAM},     {32514, SDL_SYSTEM_CURSOR_WAIT},
    {32515, SDL_SYSTEM_CURSOR_CROSSHAIR}, {32516, SDL_SYSTEM_CURSOR_ARROW},    {32640, SDL_SYSTEM_CURSOR_SIZEALL},
    {32642, SDL_SYSTEM_CURSOR_SIZENWSE}, {32643, SDL_SYSTEM_CURSOR_SIZENESW}, {32644, SDL_SYSTEM_CURSOR_SIZEWE},
    {32645, SDL_SYSTEM_CURSOR_SIZENS},   {32646, SDL_SYSTEM_CURSOR_SIZEALL},  {32648, SDL_SYSTEM_CURSOR_NO},
    {32649, SDL_SYSTEM_CURSOR_HAND},     {32650, SDL_SYSTEM_CURSOR_WAITARROW}, {32651, SDL_SYSTEM_CURSOR_ARROW},
};

// A bitmap as 32-bit top-down pixels (0xAARRGGBB as stored), Height rows.
bool ReadBitmap(HBITMAP bm, int width, int height, std::vector<uint32_t>& px) {
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bi.bmiHeader.biWidth = width;
  bi.bmiHeader.biHeight = -height;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  px.assign(size_t(width) * size_t(height), 0);
  HDC dc = CreateCompatibleDC(nullptr);
  int lines = GetDIBits(dc, bm, 0, UINT(height), px.data(), &bi, DIB_RGB_COLORS);
  DeleteDC(dc);
  return lines > 0;
}

// A cursor of the program's own (not a standard one) as a colour cursor:
// the colour bitmap with its alpha, or the masks (AND 1 and XOR 0:
// transparent; the screen-inverting pixels show black).
SDL_Cursor* MakeColorCursor(HCURSOR c) {
  ICONINFO ii{};
  if (!GetIconInfo(c, &ii)) return nullptr;
  SDL_Cursor* cursor = nullptr;
  BITMAP bm{};
  if (GetObjectW(ii.hbmMask, sizeof bm, &bm)) {
    int w = bm.bmWidth, h = ii.hbmColor ? bm.bmHeight : bm.bmHeight / 2;
    std::vector<uint32_t> mask, color;
    if (w > 0 && h > 0 && w <= 256 && h <= 256 && ReadBitmap(ii.hbmMask, w, ii.hbmColor ? h : 2 * h, mask) &&
        (!ii.hbmColor || ReadBitmap(ii.hbmColor, w, h, color))) {
      bool alpha = std::any_of(color.begin(), color.end(), [](uint32_t p) { return (p >> 24) != 0; });
      std::vector<uint32_t> px(size_t(w) * size_t(h));
      for (size_t i = 0; i < px.size(); ++i) {
        bool andBit = (mask[i] & 0xFFFFFFu) != 0;
        uint32_t rgb = ii.hbmColor ? color[i] & 0xFFFFFFu : ((mask[px.size() + i] & 0xFFFFFFu) ? 0xFFFFFFu : 0u);
        if (alpha)
          px[i] = color[i];
        else if (!andBit)
          px[i] = 0xFF000000u | rgb;
        else
          px[i] = rgb ? 0xFF000000u : 0u;
      }
      if (SDL_Surface* s = SDL_CreateRGBSurfaceWithFormatFrom(px.data(), w, h, 32, w * 4, SDL_PIXELFORMAT_ARGB8888)) {
        cursor = SDL_CreateColorCursor(s, int(std::min<DWORD>(ii.xHotspot, DWORD(w - 1))),
                                       int(std::min<DWORD>(ii.yHotspot, DWORD(h - 1))));
        SDL_FreeSurface(s);
      }
    }
  }
  if (ii.hbmMask) DeleteObject(ii.hbmMask);
  if (ii.hbmColor) DeleteObject(ii.hbmColor);
  return cursor;
}

// Our caption and outer frame for a window the window manager frames: the
// part of the window its own decoration replaces.
RECT FrameAndCaption(DWORD style, DWORD exStyle) {
  int b = 0;
  if (style & WS_THICKFRAME)
    b = GetSystemMetrics(SM_CXFRAME);
  else if ((style & WS_DLGFRAME) || (exStyle & WS_EX_DLGMODALFRAME))
    b = GetSystemMetrics(SM_CXDLGFRAME);
  else if (style & WS_BORDER)
    b = GetSystemMetrics(SM_CXBORDER);
  RECT r{b, b, b, b};
  r.top += (exStyle & WS_EX_TOOLWINDOW) ? GetSystemMetrics(SM_CYSMCAPTION) : GetSystemMetrics(SM_CYCAPTION);
  return r;
}

// Whether a window shows other than its whole rectangle.
bool NeedsShape(const TTopLevelView& v) { return v.Region || v.UseColorKey || v.PerPixelAlpha; }

String WindowTitle(HWND h) {
  int n = GetWindowTextLengthW(h);
  if (n <= 0) return {};
  String s(size_t(n) + 1, u'\0');
  n = GetWindowTextW(h, s.data(), n + 1);
  s.resize(size_t(std::max(n, 0)));
  return s;
}

// Line breaks: the program's CR LF, the system's LF.
std::string ToSystemText(const String& s) {
  String t;
  t.reserve(s.size());
  for (size_t i = 0; i < s.size(); ++i)
    if (!(s[i] == u'\r' && i + 1 < s.size() && s[i + 1] == u'\n')) t += s[i];
  return UTF16ToUTF8(t);
}

String FromSystemText(const std::string& s) {
  String u = UTF8ToUTF16(s), t;
  t.reserve(u.size());
  for (size_t i = 0; i < u.size(); ++i) {
    if (u[i] == u'\n' && (i == 0 || u[i - 1] != u'\r')) t += u'\r';
    t += u[i];
  }
  return t;
}

// Whether the screen shows drawing of screen DCs anywhere (colours differ
// from the windows' picture).
bool ScreenShowsDrawing() {
  const uint32_t* shown = ScreenPixels();
  const uint32_t* windows = ComposedScreenPixels();
  if (!shown || !windows) return false;
  SIZE size = ScreenSize();
  for (size_t i = 0, n = size_t(size.cx) * size_t(size.cy); i < n; ++i)
    if ((shown[i] ^ windows[i]) & 0xFFFFFFu) return true;
  return false;
}

// Puts the screen's pixels over a window's pixels (Width x Height at the
// screen point At) where the screen shows a screen DC's drawing.
void MergeScreenDrawing(std::vector<uint32_t>& px, POINT at, int width, int height) {
  const uint32_t* shown = ScreenPixels();
  const uint32_t* windows = ComposedScreenPixels();
  if (!shown || !windows) return;
  SIZE size = ScreenSize();
  for (int y = std::max(0, -int(at.y)); y < height && at.y + y < size.cy; ++y)
    for (int x = std::max(0, -int(at.x)); x < width && at.x + x < size.cx; ++x) {
      size_t i = size_t(at.y + y) * size_t(size.cx) + size_t(at.x + x);
      if ((shown[i] ^ windows[i]) & 0xFFFFFFu) px[size_t(y) * size_t(width) + size_t(x)] = shown[i];
    }
}

}  // namespace

std::unique_ptr<TSdlBackend> TSdlBackend::Open() {
  // The program handles its own signals and closes windows itself.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
  SDL_SetHint(SDL_HINT_VIDEO_X11_NET_WM_BYPASS_COMPOSITOR, "0");
  SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return nullptr;
  std::unique_ptr<TSdlBackend> b(new TSdlBackend());
  SDL_Rect bounds;
  if (SDL_GetDisplayBounds(0, &bounds) == 0 && bounds.w > 0 && bounds.h > 0) SetScreenSize(bounds.w, bounds.h);
  SDL_StartTextInput();
  b->FPrevious = SetBackend(b.get());
  for (const TTopLevelView& v : VisibleTopLevelWindows()) b->FDirty[v.Handle].Whole = true;
  b->CursorChanged(GetCursor());
  return b;
}

TSdlBackend::~TSdlBackend() {
  if (CurrentBackend() == this) SetBackend(FPrevious);
  for (auto& [h, s] : FShown)
    if (s.Window) SDL_DestroyWindow(s.Window);
  FShown.clear();
  if (FDrawing.Window) SDL_DestroyWindow(FDrawing.Window);
  for (auto& [id, c] : FCursors) SDL_FreeCursor(c);
  FCursors.clear();
  if (FCustomCursor) SDL_FreeCursor(FCustomCursor);
  FCustomCursor = nullptr;
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
  SDL_Quit();
}

TSdlBackend::TShown* TSdlBackend::Find(HWND h) {
  auto it = FShown.find(h);
  return it == FShown.end() ? nullptr : &it->second;
}

const TSdlBackend::TShown* TSdlBackend::Find(HWND h) const {
  auto it = FShown.find(h);
  return it == FShown.end() ? nullptr : &it->second;
}

HWND TSdlBackend::FromId(uint32_t id) const {
  for (auto& [h, s] : FShown)
    if (s.Id == id) return h;
  return nullptr;
}

SDL_Window* TSdlBackend::NativeWindow(HWND h) const {
  const TShown* s = Find(h);
  return s && s->Visible ? s->Window : nullptr;
}

uint32_t TSdlBackend::NativeWindowId(HWND h) const {
  const TShown* s = Find(h);
  return s && s->Visible ? s->Id : 0;
}

POINT TSdlBackend::ToScreen(uint32_t id, int x, int y) const {
  for (auto& [h, s] : FShown)
    if (s.Id == id) return POINT{s.Placed.left + x, s.Placed.top + y};
  if (FDrawing.Window && FDrawing.Id == id) return POINT{FDrawing.Placed.left + x, FDrawing.Placed.top + y};
  return POINT{x, y};
}

// ---------------------------------------------------------------------------
// Showing windows

void TSdlBackend::MarkDirty(HWND h, const RECT* area) {
  TDirty& d = FDirty[h];
  if (!area) {
    d.Whole = true;
  } else if (!d.Whole) {
    RECT u;
    UnionRect(&u, &d.Area, area);
    d.Area = u;
  }
}

void TSdlBackend::WindowChanged(HWND h, const RECT* area) {
  std::lock_guard<std::mutex> l(FDirtyLock);
  MarkDirty(h, area);
}

void TSdlBackend::ScreenChanged(const RECT& area) {
  std::lock_guard<std::mutex> l(FDirtyLock);
  RECT u;
  UnionRect(&u, &FScreenDrawn, &area);
  FScreenDrawn = u;
}

void TSdlBackend::WindowDestroyed(HWND h) {
  {
    std::lock_guard<std::mutex> l(FDirtyLock);
    FDirty.erase(h);
  }
  auto it = FShown.find(h);
  if (it == FShown.end()) return;
  if (it->second.Window) SDL_DestroyWindow(it->second.Window);
  FShown.erase(it);
}

void TSdlBackend::Present() {
  if (FPresenting) return;
  std::map<HWND, TDirty> dirty;
  RECT drawn{};
  {
    std::lock_guard<std::mutex> l(FDirtyLock);
    dirty.swap(FDirty);
    std::swap(drawn, FScreenDrawn);
  }
  if (dirty.empty() && IsRectEmpty(&drawn)) return;
  FPresenting = true;
  if (FOverlay || !IsRectEmpty(&drawn)) {
    // Drawing on the screen shows over the real windows it covers: the
    // screen is composed, and the windows under new drawing are shown again.
    ComposeScreen();
    FOverlay = ScreenShowsDrawing();
    for (auto& [h, s] : FShown) {
      RECT part;
      if (s.Visible && IntersectRect(&part, &s.Placed, &drawn)) dirty[h].Whole = true;
    }
  }
  auto needs = [&](HWND h) {
    const TShown* s = Find(h);
    return dirty.count(h) || !s || !s->Visible;
  };
  // Titles first: asking for a window's text runs the program's code, which
  // may change or destroy windows, so the pictures are taken after it.
  std::map<HWND, String> titles;
  for (const TTopLevelView& v : VisibleTopLevelWindows())
    if (needs(v.Handle)) titles[v.Handle] = WindowTitle(v.Handle);
  std::vector<TTopLevelView> views = VisibleTopLevelWindows();
  for (const TTopLevelView& v : views) {
    if (!needs(v.Handle)) continue;
    TShown* s = Find(v.Handle);
    if (!s) s = &FShown[v.Handle];
    auto t = titles.find(v.Handle);
    auto d = dirty.find(v.Handle);
    if (!Show(v, t != titles.end() ? t->second : s->Title, *s, d != dirty.end() ? &d->second : nullptr)) {
      if (s->Window) SDL_DestroyWindow(s->Window);
      FShown.erase(v.Handle);
    }
  }
  for (auto& entry : dirty) {
    HWND h = entry.first;
    bool visible = std::any_of(views.begin(), views.end(), [&](const TTopLevelView& v) { return v.Handle == h; });
    if (!visible)
      if (TShown* s = Find(h)) Hide(*s);
  }
  if (FOverlay || FDrawing.Visible) ShowScreenDrawing();
  FPresenting = false;
}

void TSdlBackend::ShowScreenDrawing() {
  const uint32_t* shown = ScreenPixels();
  const uint32_t* windows = ComposedScreenPixels();
  SIZE size = ScreenSize();
  // The drawn pixels that no real window of ours shows.
  std::vector<RECT> covered;
  for (auto& [h, s] : FShown)
    if (s.Visible) covered.push_back(s.Placed);
  auto drawnOutside = [&](int x, int y) {
    size_t i = size_t(y) * size_t(size.cx) + size_t(x);
    if (!((shown[i] ^ windows[i]) & 0xFFFFFFu)) return false;
    POINT p{x, y};
    return std::none_of(covered.begin(), covered.end(), [&](const RECT& r) { return PtInRect(&r, p); });
  };
  RECT box{size.cx, size.cy, 0, 0};
  if (FOverlay && shown && windows && !FShapesFailed)
    for (int y = 0; y < size.cy; ++y)
      for (int x = 0; x < size.cx; ++x)
        if (drawnOutside(x, y)) {
          box.left = std::min<LONG>(box.left, x);
          box.top = std::min<LONG>(box.top, y);
          box.right = std::max<LONG>(box.right, x + 1);
          box.bottom = std::max<LONG>(box.bottom, y + 1);
        }
  TShown& d = FDrawing;
  if (IsRectEmpty(&box)) {
    Hide(d);
    return;
  }
  int w = box.right - box.left, h = box.bottom - box.top;
  if (d.Window && (w != d.ShapeWidth || h != d.ShapeHeight)) {
    SDL_DestroyWindow(d.Window);
    d = TShown{};
  }
  if (!d.Window) {
    d.Window = SDL_CreateShapedWindow("", 0, 0, unsigned(w), unsigned(h),
                                      SDL_WINDOW_HIDDEN | SDL_WINDOW_BORDERLESS | SDL_WINDOW_POPUP_MENU |
                                          SDL_WINDOW_SKIP_TASKBAR);
    if (!d.Window) {
      FShapesFailed = true;
      return;
    }
    d.Id = SDL_GetWindowID(d.Window);
    d.Shaped = true;
    d.ShapeWidth = w;
    d.ShapeHeight = h;
  }
  SDL_SetWindowPosition(d.Window, box.left, box.top);
  d.Placed = box;
  // Its shape is the drawn pixels, its picture the screen's.
  std::vector<uint8_t> mask(size_t(w) * size_t(h));
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) mask[size_t(y) * size_t(w) + size_t(x)] = drawnOutside(box.left + x, box.top + y);
  SetShape(d, mask, w, h);
  if (!d.Visible) {
    SDL_ShowWindow(d.Window);
    d.Visible = true;
  }
  if (SDL_Surface* surface = SDL_GetWindowSurface(d.Window)) {
    if (SDL_MUSTLOCK(surface) && SDL_LockSurface(surface) != 0) return;
    SDL_ConvertPixels(std::min(w, surface->w), std::min(h, surface->h), SDL_PIXELFORMAT_RGB888,
                      shown + ptrdiff_t(box.top) * size.cx + box.left, int(size.cx * 4), surface->format->format,
                      surface->pixels, surface->pitch);
    if (SDL_MUSTLOCK(surface)) SDL_UnlockSurface(surface);
    SDL_UpdateWindowSurface(d.Window);
  }
}

bool TSdlBackend::Show(const TTopLevelView& v, const String& title, TShown& s, const TDirty* dirty) {
  HWND h = v.Handle;
  DWORD style = DWORD(GetWindowLongPtrW(h, GWL_STYLE)), ex = DWORD(GetWindowLongPtrW(h, GWL_EXSTYLE));
  if (!s.Window) {
    s.Framed = (style & WS_CAPTION) == WS_CAPTION;
    s.Insets = s.Framed ? FrameAndCaption(style, ex) : RECT{};
  }
  RECT placed{v.Rect.left + s.Insets.left, v.Rect.top + s.Insets.top, v.Rect.right - s.Insets.right,
              v.Rect.bottom - s.Insets.bottom};
  placed.right = std::max(placed.right, placed.left + 1);
  placed.bottom = std::max(placed.bottom, placed.top + 1);
  int w = placed.right - placed.left, hgt = placed.bottom - placed.top;
  // Only a changed area of a window shown as it was is converted again.
  bool whole = !dirty || dirty->Whole || !s.Window || !s.Visible || !EqualRect(&placed, &s.Placed);
  // Shapes are given to unframed windows. A shaped window keeps the size it
  // was made with: the first need of a shape, or another size, makes the
  // real window anew.
  bool wantShape = !FShapesFailed && NeedsShape(v) && !(s.Window ? s.Framed : (style & WS_CAPTION) == WS_CAPTION);
  if (s.Window && ((wantShape && !s.Shaped) || (s.Shaped && (w != s.ShapeWidth || hgt != s.ShapeHeight)))) {
    SDL_DestroyWindow(s.Window);
    s.Window = nullptr;
    s.Visible = false;
    s.Shaped = false;
    s.Mask.clear();
    s.Opacity = 255;
  }
  if (!s.Window) {
    Uint32 flags = SDL_WINDOW_HIDDEN;
    if (s.Framed) {
      if (style & WS_THICKFRAME) flags |= SDL_WINDOW_RESIZABLE;
      if (ex & WS_EX_TOOLWINDOW) flags |= SDL_WINDOW_UTILITY | SDL_WINDOW_SKIP_TASKBAR;
    } else {
      flags |= SDL_WINDOW_BORDERLESS;
      // Drop-down lists, menus, hints: shown where they are, over everything,
      // and never given the keyboard focus (it stays in their owner).
      if (GetWindow(h, GW_OWNER) || (ex & (WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE)))
        flags |= SDL_WINDOW_POPUP_MENU | SDL_WINDOW_SKIP_TASKBAR;
    }
    if (wantShape) {
      s.Window = SDL_CreateShapedWindow(UTF16ToUTF8(title).c_str(), 0, 0, unsigned(w), unsigned(hgt), flags);
      if (s.Window) {
        s.Shaped = true;
        s.ShapeWidth = w;
        s.ShapeHeight = hgt;
        SDL_SetWindowPosition(s.Window, placed.left, placed.top);
      } else {
        FShapesFailed = true;  // a plain window shows the whole rectangle
      }
    }
    if (!s.Window) s.Window = SDL_CreateWindow(UTF16ToUTF8(title).c_str(), placed.left, placed.top, w, hgt, flags);
    if (!s.Window) return false;
    s.Id = SDL_GetWindowID(s.Window);
    s.Placed = placed;
    s.Title = title;
  }
  if (placed.left != s.Placed.left || placed.top != s.Placed.top) SDL_SetWindowPosition(s.Window, placed.left, placed.top);
  if (w != s.Placed.right - s.Placed.left || hgt != s.Placed.bottom - s.Placed.top) SDL_SetWindowSize(s.Window, w, hgt);
  s.Placed = placed;
  if (title != s.Title) {
    SDL_SetWindowTitle(s.Window, UTF16ToUTF8(title).c_str());
    s.Title = title;
  }
  if (s.Shaped) Shape(v, s, w, hgt);
  BYTE opacity = v.Layered ? v.Alpha : 255;
  if (opacity != s.Opacity) {
    SDL_SetWindowOpacity(s.Window, float(opacity) / 255.0f);
    s.Opacity = opacity;
  }
  if (!s.Visible) {
    SDL_ShowWindow(s.Window);
    s.Visible = true;
  }
  // The backing store's part under the real window, into its surface.
  SDL_Surface* surface = SDL_GetWindowSurface(s.Window);
  if (!surface || !v.Pixels) return true;
  int cw = std::min(w, surface->w), ch = std::min(hgt, surface->h);
  int vw = v.Rect.right - v.Rect.left, vh = v.Rect.bottom - v.Rect.top;
  cw = std::min(cw, vw - int(s.Insets.left));
  ch = std::min(ch, vh - int(s.Insets.top));
  RECT part{0, 0, std::max(cw, 0), std::max(ch, 0)};
  if (!whole) {
    RECT changed = dirty->Area;
    OffsetRect(&changed, -s.Insets.left, -s.Insets.top);
    if (!IntersectRect(&part, &part, &changed)) return true;
  }
  if (SDL_MUSTLOCK(surface) && SDL_LockSurface(surface) != 0) return true;
  if (whole && (cw < surface->w || ch < surface->h))
    SDL_FillRect(surface, nullptr, SDL_MapRGB(surface->format, 0, 0, 0));
  int pw = part.right - part.left, ph = part.bottom - part.top;
  if (pw > 0 && ph > 0) {
    const uint32_t* src = v.Pixels + ptrdiff_t(s.Insets.top + part.top) * v.Stride + s.Insets.left + part.left;
    ptrdiff_t stride = v.Stride;
    std::vector<uint32_t> merged;
    if (FOverlay) {
      // Where the screen differs from the windows' picture, it shows what a
      // screen DC drew there.
      merged.resize(size_t(pw) * size_t(ph));
      for (int y = 0; y < ph; ++y) std::copy_n(src + y * stride, pw, &merged[size_t(y) * size_t(pw)]);
      MergeScreenDrawing(merged, POINT{placed.left + part.left, placed.top + part.top}, pw, ph);
      src = merged.data();
      stride = pw;
    }
    int bpp = surface->format->BytesPerPixel;
    SDL_ConvertPixels(pw, ph, SDL_PIXELFORMAT_RGB888, src, int(stride * 4), surface->format->format,
                      static_cast<uint8_t*>(surface->pixels) + ptrdiff_t(part.top) * surface->pitch + part.left * bpp,
                      surface->pitch);
  }
  if (SDL_MUSTLOCK(surface)) SDL_UnlockSurface(surface);
  if (whole) {
    SDL_UpdateWindowSurface(s.Window);
  } else {
    SDL_Rect r{part.left, part.top, pw, ph};
    SDL_UpdateWindowSurfaceRects(s.Window, &r, 1);
  }
  return true;
}

void TSdlBackend::Shape(const TTopLevelView& v, TShown& s, int w, int h) {
  if (!s.Window || w != s.ShapeWidth || h != s.ShapeHeight || w <= 0 || h <= 0) return;
  int vw = std::min(w, int(v.Rect.right - v.Rect.left)), vh = std::min(h, int(v.Rect.bottom - v.Rect.top));
  std::vector<uint8_t> mask(size_t(w) * size_t(h), 0);
  gdi::TRegionObj* ro = v.Region ? gdi::LookupRegion(v.Region) : nullptr;
  if (ro) {
    int n = 0;
    const pixman_box32_t* b = ro->Rgn.Rects(&n);
    for (int i = 0; i < n; ++i)
      for (int y = std::max(b[i].y1, 0); y < std::min(b[i].y2, vh); ++y)
        for (int x = std::max(b[i].x1, 0); x < std::min(b[i].x2, vw); ++x) mask[size_t(y) * size_t(w) + size_t(x)] = 1;
  } else {
    for (int y = 0; y < vh; ++y) std::fill_n(&mask[size_t(y) * size_t(w)], vw, uint8_t(1));
  }
  if (v.Pixels && (v.UseColorKey || v.PerPixelAlpha)) {
    uint32_t key = gdi::ColorToPixel(v.ColorKey) & 0xFFFFFFu;
    for (int y = 0; y < vh; ++y) {
      const uint32_t* row = v.Pixels + ptrdiff_t(y) * v.Stride;
      for (int x = 0; x < vw; ++x) {
        uint32_t p = row[x];
        if ((v.UseColorKey && (p & 0xFFFFFFu) == key) || (v.PerPixelAlpha && (p >> 24) == 0))
          mask[size_t(y) * size_t(w) + size_t(x)] = 0;
      }
    }
  }
  SetShape(s, mask, w, h);
}

void TSdlBackend::SetShape(TShown& s, std::vector<uint8_t>& mask, int w, int h) {
  if (mask == s.Mask) return;
  SDL_Surface* shape = SDL_CreateRGBSurfaceWithFormat(0, w, h, 32, SDL_PIXELFORMAT_ARGB8888);
  if (!shape) return;
  if (SDL_MUSTLOCK(shape)) SDL_LockSurface(shape);
  for (int y = 0; y < h; ++y) {
    auto* row = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(shape->pixels) + ptrdiff_t(y) * shape->pitch);
    for (int x = 0; x < w; ++x) row[x] = mask[size_t(y) * size_t(w) + size_t(x)] ? 0xFF000000u : 0u;
  }
  if (SDL_MUSTLOCK(shape)) SDL_UnlockSurface(shape);
  SDL_WindowShapeMode mode;
  mode.mode = ShapeModeBinarizeAlpha;
  mode.parameters.binarizationCutoff = 128;
  if (SDL_SetWindowShape(s.Window, shape, &mode) == 0) s.Mask.swap(mask);
  SDL_FreeSurface(shape);
}

void TSdlBackend::Hide(TShown& s) {
  if (s.Visible && s.Window) SDL_HideWindow(s.Window);
  s.Visible = false;
}

bool TSdlBackend::ReadWindowPixels(HWND h, std::vector<uint32_t>& pixels, int& width, int& height) const {
  const TShown* s = Find(h);
  if (!s || !s->Visible || !s->Window) return false;
  SDL_Surface* surface = SDL_GetWindowSurface(s->Window);
  if (!surface) return false;
  width = surface->w;
  height = surface->h;
  pixels.assign(size_t(width) * size_t(height), 0);
  if (SDL_MUSTLOCK(surface) && SDL_LockSurface(surface) != 0) return false;
  int r = SDL_ConvertPixels(width, height, surface->format->format, surface->pixels, surface->pitch,
                            SDL_PIXELFORMAT_RGB888, pixels.data(), width * 4);
  if (SDL_MUSTLOCK(surface)) SDL_UnlockSurface(surface);
  for (uint32_t& p : pixels) p &= 0xFFFFFFu;
  return r == 0;
}

// ---------------------------------------------------------------------------
// Input

void TSdlBackend::PumpEvents() {
  if (FPresenting) return;
  // The loops look at the queue for every message: asking the display more
  // than once a millisecond only costs time.
  uint64_t now = SDL_GetTicks64();
  if (now != FLastPoll) {
    FLastPoll = now;
    std::vector<SDL_Event> events;
    SDL_Event e;
    while (SDL_PollEvent(&e)) events.push_back(e);
    if (!events.empty()) Dispatch(events);
  }
  Present();
}

void TSdlBackend::Dispatch(const std::vector<SDL_Event>& events) {
  for (size_t i = 0; i < events.size(); ++i) {
    const SDL_Event& e = events[i];
    switch (e.type) {
      case SDL_MOUSEMOTION:
        FMouse = ToScreen(e.motion.windowID, e.motion.x, e.motion.y);
        InjectMouseMove(FMouse);
        break;
      case SDL_MOUSEBUTTONDOWN:
      case SDL_MOUSEBUTTONUP:
        if (int b = MouseButton(e.button.button)) {
          FMouse = ToScreen(e.button.windowID, e.button.x, e.button.y);
          InjectMouseButton(b, e.type == SDL_MOUSEBUTTONDOWN, FMouse);
        }
        break;
      case SDL_MOUSEWHEEL: {
        float sign = e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -1.0f : 1.0f;
        long dy = std::lround(double(e.wheel.preciseY * sign * 120.0f));
        long dx = std::lround(double(e.wheel.preciseX * sign * 120.0f));
        if (dy) InjectMouseWheel(int(std::clamp(dy, -32768L, 32767L)), false, FMouse);
        if (dx) InjectMouseWheel(int(std::clamp(dx, -32768L, 32767L)), true, FMouse);
        break;
      }
      case SDL_KEYDOWN:
      case SDL_KEYUP:
        if (HandleKey(e, i + 1 < events.size() ? &events[i + 1] : nullptr)) ++i;
        break;
      case SDL_TEXTINPUT: {
        // Text that no key press of ours typed (an input method).
        String t = UTF8ToUTF16(std::string(e.text.text, strnlen(e.text.text, sizeof e.text.text)));
        for (char16_t c : t) InjectChar(c);
        break;
      }
      case SDL_WINDOWEVENT:
        HandleWindowEvent(e);
        break;
      default:
        break;
    }
  }
  if (FFocusLost) {
    FFocusLost = false;
    // The keyboard went to another program.
    if (!SDL_GetKeyboardFocus()) InjectAppActivation(false);
  }
}

bool TSdlBackend::HandleKey(const SDL_Event& e, const SDL_Event* next) {
  bool down = e.type == SDL_KEYDOWN, extended = false;
  UINT vk = VirtualKey(e.key.keysym, extended);
  if (!vk) return false;
  if (!down) {
    InjectKey(vk, false, 1, extended);
    return false;
  }
  if (next && next->type == SDL_TEXTINPUT) {
    // The key typed text. When our layout gives the key the same character,
    // the key alone goes in and TranslateMessage makes the character;
    // otherwise the key goes in as an input method's key and the text as
    // characters, so the user's own layout decides what is typed.
    String t = UTF8ToUTF16(std::string(next->text.text, strnlen(next->text.text, sizeof next->text.text)));
    BYTE ks[256] = {};
    for (int k : {VK_SHIFT, VK_CONTROL, VK_MENU, VK_LSHIFT, VK_RSHIFT, VK_LCONTROL, VK_RCONTROL, VK_LMENU, VK_RMENU})
      ks[k] = (GetAsyncKeyState(k) & 0x8000) ? 0x80 : 0;
    ks[VK_CAPITAL] = (GetAsyncKeyState(VK_CAPITAL) & 1) ? 1 : 0;
    WCHAR c[2] = {};
    if (t.size() == 1 && ToUnicode(vk, 0, ks, c, 2, 0) == 1 && c[0] == t[0]) {
      InjectKey(vk, true, 1, extended);
    } else {
      InjectKey(VK_PROCESSKEY, true, 1, extended);
      for (char16_t ch : t) InjectChar(ch);
    }
    return true;
  }
  InjectKey(vk, true, 1, extended);
  return false;
}

void TSdlBackend::HandleWindowEvent(const SDL_Event& e) {
  HWND h = FromId(e.window.windowID);
  TShown* s = h ? Find(h) : nullptr;
  if (!s) return;
  switch (e.window.event) {
    case SDL_WINDOWEVENT_EXPOSED: {
      std::lock_guard<std::mutex> l(FDirtyLock);
      MarkDirty(h, nullptr);
      break;
    }
    case SDL_WINDOWEVENT_MOVED: {
      // The window manager placed or the user dragged the window.
      int x = e.window.data1, y = e.window.data2;
      if (x == s->Placed.left && y == s->Placed.top) break;
      s->Placed = RECT{x, y, x + (s->Placed.right - s->Placed.left), y + (s->Placed.bottom - s->Placed.top)};
      SetWindowPos(h, nullptr, x - s->Insets.left, y - s->Insets.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
      break;
    }
    case SDL_WINDOWEVENT_SIZE_CHANGED: {
      int w = e.window.data1, hgt = e.window.data2;
      if (w == s->Placed.right - s->Placed.left && hgt == s->Placed.bottom - s->Placed.top) break;
      s->Placed.right = s->Placed.left + w;
      s->Placed.bottom = s->Placed.top + hgt;
      SetWindowPos(h, nullptr, 0, 0, w + s->Insets.left + s->Insets.right, hgt + s->Insets.top + s->Insets.bottom,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
      std::lock_guard<std::mutex> l(FDirtyLock);
      MarkDirty(h, nullptr);
      break;
    }
    case SDL_WINDOWEVENT_FOCUS_GAINED:
      FFocusLost = false;
      if (GetActiveWindow() != h && IsWindowEnabled(h)) SetForegroundWindow(h);
      break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
      FFocusLost = true;
      break;
    case SDL_WINDOWEVENT_LEAVE:
      // The pointer left for another program's window: our windows see it go.
      if (!(SDL_GetMouseState(nullptr, nullptr) & SDL_BUTTON_LMASK)) {
        int x = 0, y = 0;
        SDL_GetGlobalMouseState(&x, &y);
        FMouse = POINT{x, y};
        InjectMouseMove(FMouse);
      }
      break;
    case SDL_WINDOWEVENT_CLOSE:
      PostMessageW(h, WM_SYSCOMMAND, SC_CLOSE, 0);
      break;
    default:
      break;
  }
}

// ---------------------------------------------------------------------------
// Cursors and the clipboard

void TSdlBackend::CursorChanged(HCURSOR c) {
  if (!c) {
    SDL_ShowCursor(SDL_DISABLE);
    return;
  }
  SDL_SystemCursor shape = SDL_SYSTEM_CURSOR_ARROW;
  bool standard = false;
  for (auto& [id, sys] : StandardCursors)
    if (LoadCursorW(nullptr, MAKEINTRESOURCEW(id)) == c) {
      shape = sys;
      standard = true;
      break;
    }
  // The program's own cursors show their bitmaps (the arrow when they
  // cannot be made).
  SDL_Cursor* custom = standard ? nullptr : MakeColorCursor(c);
  SDL_Cursor* cursor = custom;
  if (!cursor) {
    SDL_Cursor*& system = FCursors[int(shape)];
    if (!system) system = SDL_CreateSystemCursor(shape);
    cursor = system;
  }
  if (cursor) SDL_SetCursor(cursor);
  SDL_ShowCursor(SDL_ENABLE);
  // The one made before goes once it no longer shows.
  if (FCustomCursor) SDL_FreeCursor(FCustomCursor);
  FCustomCursor = custom;
}

void TSdlBackend::CursorMoved(POINT p) {
  FMouse = p;
  SDL_WarpMouseGlobal(p.x, p.y);
}

bool TSdlBackend::ClipboardText(String& text) {
  if (!SDL_HasClipboardText()) return false;
  char* t = SDL_GetClipboardText();
  if (!t) return false;
  std::string s(t);
  SDL_free(t);
  if (FClipboardKnown && s == FClipboard) return false;
  FClipboard = s;
  FClipboardKnown = true;
  text = FromSystemText(s);
  return true;
}

void TSdlBackend::SetClipboardText(const String& text) {
  FClipboard = ToSystemText(text);
  FClipboardKnown = true;
  SDL_SetClipboardText(FClipboard.c_str());
}

bool TSdlBackend::OpenDocument(const String& target) {
  if (target.empty()) return false;
  return SDL_OpenURL(UTF16ToUTF8(target).c_str()) == 0;
}

}  // namespace backend
