#include "platform/backend/Headless.h"

#include <algorithm>
#include <fstream>

#include "platform/rtl/CodePages.h"
#include "platform/win/GdiInternal.h"
#include "platform/win/ImageCodecs.h"

namespace backend {

using namespace win;

namespace {

// The drop shadow of CS_DROPSHADOW windows: its offset and darkness.
constexpr int ShadowOffset = 4;
constexpr unsigned ShadowAlpha = 80;

uint32_t Blend(uint32_t src, uint32_t dst, unsigned a) {
  auto ch = [&](int shift) {
    unsigned s = (src >> shift) & 0xFF, d = (dst >> shift) & 0xFF;
    return ((s * a + d * (255 - a) + 127) / 255) << shift;
  };
  return 0xFF000000u | ch(16) | ch(8) | ch(0);
}

// Premultiplied source over the destination, scaled by a constant alpha.
uint32_t BlendPremultiplied(uint32_t src, uint32_t dst, unsigned constant) {
  unsigned sa = ((src >> 24) * constant + 127) / 255;
  auto ch = [&](int shift) {
    unsigned s = ((src >> shift) & 0xFF) * constant / 255, d = (dst >> shift) & 0xFF;
    unsigned v = s + (d * (255 - sa) + 127) / 255;
    return std::min(v, 255u) << shift;
  };
  return 0xFF000000u | ch(16) | ch(8) | ch(0);
}

bool WriteFile(const String& name, const std::vector<uint8_t>& data) {
  std::ofstream f(UTF16ToUTF8(name), std::ios::binary);
  if (!f) return false;
  f.write(reinterpret_cast<const char*>(data.data()), std::streamsize(data.size()));
  return bool(f);
}

}  // namespace

THeadlessBackend::THeadlessBackend(int Width, int Height) {
  FWidth = std::clamp(Width, 1, 16384);
  FHeight = std::clamp(Height, 1, 16384);
  SetScreenSize(FWidth, FHeight);
  FPixels.assign(size_t(FWidth) * size_t(FHeight), 0xFF000000u);
  FCursor = GetCursor();
  FPrevious = SetBackend(this);
}

THeadlessBackend::~THeadlessBackend() {
  if (CurrentBackend() == this) SetBackend(FPrevious);
}

void THeadlessBackend::Compose() {
  PaintPendingWindows();
  SIZE s = ScreenSize();
  if (s.cx != FWidth || s.cy != FHeight) {
    FWidth = s.cx;
    FHeight = s.cy;
    FPixels.assign(size_t(FWidth) * size_t(FHeight), 0);
  }
  uint32_t desk = 0xFF000000u | gdi::ColorToPixel(GetSysColor(COLOR_DESKTOP));
  std::fill(FPixels.begin(), FPixels.end(), desk);
  for (const TTopLevelView& v : VisibleTopLevelWindows()) {
    gdi::TRgn area(RECT{std::max<LONG>(v.Rect.left, 0), std::max<LONG>(v.Rect.top, 0),
                        std::min<LONG>(v.Rect.right, FWidth), std::min<LONG>(v.Rect.bottom, FHeight)});
    if (v.Region)
      if (gdi::TRegionObj* ro = gdi::LookupRegion(v.Region)) {
        gdi::TRgn shape = ro->Rgn;
        shape.Offset(v.Rect.left, v.Rect.top);
        area.Intersect(shape);
      }
    if (v.DropShadow) {
      // A class with CS_DROPSHADOW casts a shadow below and to the right:
      // the window's shape moved by ShadowOffset darkens what lies under it.
      gdi::TRgn shadow = area;
      shadow.Offset(ShadowOffset, ShadowOffset);
      shadow.Subtract(area);
      shadow.IntersectRect(RECT{0, 0, FWidth, FHeight});
      int sn = 0;
      const pixman_box32_t* sb = shadow.Rects(&sn);
      for (int i = 0; i < sn; ++i)
        for (int y = sb[i].y1; y < sb[i].y2; ++y) {
          uint32_t* dst = &FPixels[size_t(y) * size_t(FWidth)];
          for (int x = sb[i].x1; x < sb[i].x2; ++x) dst[x] = Blend(0, dst[x], ShadowAlpha);
        }
    }
    uint32_t key = gdi::ColorToPixel(v.ColorKey) & 0xFFFFFFu;
    int n = 0;
    const pixman_box32_t* b = area.Rects(&n);
    for (int i = 0; i < n; ++i)
      for (int y = b[i].y1; y < b[i].y2; ++y) {
        const uint32_t* src = v.Pixels + (y - v.Rect.top) * v.Stride;
        uint32_t* dst = &FPixels[size_t(y) * size_t(FWidth)];
        for (int x = b[i].x1; x < b[i].x2; ++x) {
          uint32_t p = src[x - v.Rect.left];
          if (!v.Layered) {
            dst[x] = 0xFF000000u | p;
            continue;
          }
          if (v.UseColorKey && (p & 0xFFFFFFu) == key) continue;
          if (v.PerPixelAlpha)
            dst[x] = BlendPremultiplied(p, dst[x], v.Alpha);
          else
            dst[x] = v.Alpha == 255 ? (0xFF000000u | p) : Blend(p, dst[x], v.Alpha);
        }
      }
  }
  // The screen surface shows the composed picture (screen DCs read it).
  gdi::TSurface screen = gdi::ScreenSurface();
  if (screen.Bits && screen.Width == FWidth && screen.Height == FHeight)
    for (int y = 0; y < FHeight; ++y)
      std::copy(&FPixels[size_t(y) * size_t(FWidth)], &FPixels[size_t(y) * size_t(FWidth)] + FWidth, screen.Row(y));
}

bool THeadlessBackend::PlaySound(const String& Name, DWORD) {
  FSounds.push_back(Name);
  return true;
}

bool THeadlessBackend::OpenDocument(const String& Target) {
  FOpened.push_back(Target);
  return true;
}

COLORREF THeadlessBackend::Pixel(int X, int Y) const {
  if (X < 0 || Y < 0 || X >= FWidth || Y >= FHeight) return CLR_INVALID;
  return gdi::PixelToColor(FPixels[size_t(Y) * size_t(FWidth) + size_t(X)]);
}

std::vector<uint8_t> THeadlessBackend::ScreenPng() {
  Compose();
  return EncodePng(FPixels.data(), FWidth, FHeight, FWidth, false);
}

std::vector<uint8_t> THeadlessBackend::WindowPng(HWND Wnd) {
  PaintPendingWindows();
  for (const TTopLevelView& v : VisibleTopLevelWindows())
    if (v.Handle == Wnd) {
      int w = v.Rect.right - v.Rect.left, h = v.Rect.bottom - v.Rect.top;
      if (w <= 0 || h <= 0) return {};
      return EncodePng(v.Pixels, w, h, v.Stride, false);
    }
  return {};
}

bool THeadlessBackend::SaveScreenshot(const String& FileName) { return WriteFile(FileName, ScreenPng()); }

bool THeadlessBackend::SaveWindowShot(HWND Wnd, const String& FileName) {
  std::vector<uint8_t> png = WindowPng(Wnd);
  return !png.empty() && WriteFile(FileName, png);
}

void THeadlessBackend::MouseMove(int X, int Y) { InjectMouseMove(POINT{X, Y}); }
void THeadlessBackend::MouseDown(int X, int Y, int Button) { InjectMouseButton(Button, true, POINT{X, Y}); }
void THeadlessBackend::MouseUp(int X, int Y, int Button) { InjectMouseButton(Button, false, POINT{X, Y}); }

void THeadlessBackend::Click(int X, int Y, int Button) {
  MouseDown(X, Y, Button);
  MouseUp(X, Y, Button);
}

void THeadlessBackend::DoubleClick(int X, int Y, int Button) {
  Click(X, Y, Button);
  Click(X, Y, Button);
}

void THeadlessBackend::Wheel(int X, int Y, int Delta, bool Horizontal) {
  InjectMouseWheel(Delta, Horizontal, POINT{X, Y});
}

void THeadlessBackend::KeyDown(UINT VirtualKey, UINT Repeat) { InjectKey(VirtualKey, true, Repeat); }
void THeadlessBackend::KeyUp(UINT VirtualKey) { InjectKey(VirtualKey, false); }

void THeadlessBackend::KeyPress(UINT VirtualKey) {
  KeyDown(VirtualKey);
  KeyUp(VirtualKey);
}

void THeadlessBackend::TypeText(const String& Text) {
  for (char16_t ch : Text) {
    SHORT scan = VkKeyScanW(ch);
    if (scan == -1) {
      InjectChar(ch);
      continue;
    }
    UINT vk = UINT(scan) & 0xFF;
    bool shift = scan & 0x100, ctrl = scan & 0x200, alt = scan & 0x400;
    if (ctrl) KeyDown(VK_CONTROL);
    if (alt) KeyDown(VK_MENU);
    if (shift) KeyDown(VK_SHIFT);
    KeyPress(vk);
    if (shift) KeyUp(VK_SHIFT);
    if (alt) KeyUp(VK_MENU);
    if (ctrl) KeyUp(VK_CONTROL);
  }
}

int THeadlessBackend::ProcessMessages() {
  int n = 0;
  MSG m;
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
    if (m.message == WM_QUIT) {
      PostQuitMessage(int(m.wParam));
      break;
    }
    TranslateMessage(&m);
    DispatchMessageW(&m);
    ++n;
  }
  return n;
}

}  // namespace backend
