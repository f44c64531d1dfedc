// A memory DC on a top-down 32-bit DIB section for pixel tests; a failing
// test leaves a PNG of the surface in the test-tmp folder.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/win/Gdi.h"
#include "tests/support/SurfaceDump.h"

namespace gditest {

using namespace win;

// A DIB section of the given size and bits per pixel (top-down).
inline HBITMAP MakeDib(int w, int h, int bpp = 32, void** bits = nullptr, bool topDown = true) {
  std::vector<uint8_t> buf(sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD), 0);
  auto* bi = reinterpret_cast<BITMAPINFO*>(buf.data());
  bi->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bi->bmiHeader.biWidth = w;
  bi->bmiHeader.biHeight = topDown ? -h : h;
  bi->bmiHeader.biPlanes = 1;
  bi->bmiHeader.biBitCount = WORD(bpp);
  if (bpp <= 8) {
    auto* q = reinterpret_cast<RGBQUAD*>(buf.data() + sizeof(BITMAPINFOHEADER));
    int n = 1 << bpp;
    for (int i = 0; i < n; ++i) {
      BYTE v = BYTE(i * 255 / (n - 1));
      q[i] = RGBQUAD{v, v, v, 0};
    }
  }
  void* b = nullptr;
  HBITMAP h2 = CreateDIBSection(nullptr, bi, DIB_RGB_COLORS, &b, nullptr, 0);
  if (bits) *bits = b;
  return h2;
}

class TCanvas {
 public:
  TCanvas(int w, int h, COLORREF fill = RGB(255, 255, 255)) : W(w), H(h) {
    DC = CreateCompatibleDC(nullptr);
    void* b = nullptr;
    Bitmap = MakeDib(w, h, 32, &b);
    Bits = static_cast<uint32_t*>(b);
    Old = SelectObject(DC, Bitmap);
    Fill(fill);
  }
  ~TCanvas() {
    testing_support::DumpIfFailed(Bits, W, H, W);
    SelectObject(DC, Old);
    DeleteObject(Bitmap);
    DeleteDC(DC);
  }
  void Fill(COLORREF c) {
    uint32_t v = (uint32_t(GetRValue(c)) << 16) | (uint32_t(GetGValue(c)) << 8) | GetBValue(c);
    for (int i = 0; i < W * H; ++i) Bits[i] = v;
  }
  // The pixel's colour (alpha ignored).
  COLORREF At(int x, int y) const {
    uint32_t v = Bits[y * W + x];
    return RGB(BYTE(v >> 16), BYTE(v >> 8), BYTE(v));
  }
  uint32_t Raw(int x, int y) const { return Bits[y * W + x]; }
  // The picture as rows of characters: '#' where the pixel is `ink`, '.' elsewhere.
  std::string Pattern(COLORREF ink, int x0 = 0, int y0 = 0, int w = -1, int h = -1) const {
    if (w < 0) w = W - x0;
    if (h < 0) h = H - y0;
    std::string s;
    for (int y = y0; y < y0 + h; ++y) {
      for (int x = x0; x < x0 + w; ++x) s += At(x, y) == ink ? '#' : '.';
      s += '\n';
    }
    return s;
  }
  int Count(COLORREF c) const {
    int n = 0;
    for (int y = 0; y < H; ++y)
      for (int x = 0; x < W; ++x) n += At(x, y) == c;
    return n;
  }

  int W, H;
  HDC DC{};
  HBITMAP Bitmap{};
  uint32_t* Bits{};
  HGDIOBJ Old{};
};

constexpr COLORREF White = RGB(255, 255, 255);
constexpr COLORREF Black = RGB(0, 0, 0);
constexpr COLORREF Red = RGB(255, 0, 0);
constexpr COLORREF Blue = RGB(0, 0, 255);

}  // namespace gditest
