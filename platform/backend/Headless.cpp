#include "platform/backend/Headless.h"

#include <algorithm>
#include <fstream>

#include "platform/rtl/CodePages.h"
#include "platform/win/GdiInternal.h"
#include "platform/win/ImageCodecs.h"

namespace backend {

using namespace win;

namespace {

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
  ComposeScreen();
  SIZE s = ScreenSize();
  FWidth = s.cx;
  FHeight = s.cy;
  const uint32_t* screen = ScreenPixels();
  FPixels.assign(screen, screen + size_t(FWidth) * size_t(FHeight));
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
