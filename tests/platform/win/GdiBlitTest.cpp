// Blits: the ternary ROP rule, monochrome conversions, stretching and
// mirroring, transparent and alpha blits, gradients.
#include "tests/platform/win/GdiFixture.h"

namespace {

using namespace gditest;

TEST(GdiBlit, TernaryRopsOnKnownPixels) {
  // pattern 0xF0, source 0xCC, destination 0xAA in every channel: the result
  // byte equals the ROP's index byte
  const DWORD rops[] = {SRCCOPY, SRCPAINT, SRCAND, SRCINVERT, SRCERASE, NOTSRCCOPY, NOTSRCERASE, MERGECOPY,
                        MERGEPAINT, PATCOPY, PATPAINT, PATINVERT, DSTINVERT, BLACKNESS, WHITENESS,
                        0x00220326, 0x00E20746, 0x00200F09, 0x00B8074A};
  for (DWORD rop : rops) {
    TCanvas dst(2, 2, RGB(0xAA, 0xAA, 0xAA)), src(2, 2, RGB(0xCC, 0xCC, 0xCC));
    HBRUSH br = CreateSolidBrush(RGB(0xF0, 0xF0, 0xF0));
    SelectObject(dst.DC, br);
    EXPECT_TRUE(BitBlt(dst.DC, 0, 0, 1, 1, src.DC, 0, 0, rop));
    BYTE idx = BYTE(rop >> 16);
    EXPECT_EQ(dst.At(0, 0), RGB(idx, idx, idx)) << std::hex << rop;
    EXPECT_EQ(dst.At(1, 1), RGB(0xAA, 0xAA, 0xAA));
    SelectObject(dst.DC, GetStockObject(WHITE_BRUSH));
    DeleteObject(br);
  }
}

// Operations reading the source or destination work on all 32 bits (the
// pattern's high byte is 0); pattern-only operations write alpha 0.
TEST(GdiBlit, RasterOperationsWorkOnTheAlphaByteToo) {
  TCanvas dst(2, 1), src(2, 1);
  src.Bits[0] = 0x80102030;
  BitBlt(dst.DC, 0, 0, 1, 1, src.DC, 0, 0, SRCCOPY);
  EXPECT_EQ(dst.Raw(0, 0), 0x80102030u);
  dst.Bits[0] = 0x01000001;
  BitBlt(dst.DC, 0, 0, 1, 1, src.DC, 0, 0, SRCPAINT);
  EXPECT_EQ(dst.Raw(0, 0), 0x81102031u);
  BitBlt(dst.DC, 0, 0, 1, 1, src.DC, 0, 0, NOTSRCCOPY);
  EXPECT_EQ(dst.Raw(0, 0), 0x7FEFDFCFu);
  BitBlt(dst.DC, 0, 0, 1, 1, src.DC, 0, 0, 0x220326);  // D AND NOT S
  EXPECT_EQ(dst.Raw(0, 0), 0x7FEFDFCFu & ~0x80102030u);
  HBRUSH brush = CreateSolidBrush(RGB(0xFF, 0, 0));
  HGDIOBJ old = SelectObject(dst.DC, brush);
  dst.Bits[0] = 0x80000000;
  BitBlt(dst.DC, 0, 0, 1, 1, nullptr, 0, 0, PATINVERT);
  EXPECT_EQ(dst.Raw(0, 0), 0x80FF0000u);
  BitBlt(dst.DC, 0, 0, 1, 1, nullptr, 0, 0, PATCOPY);
  EXPECT_EQ(dst.Raw(0, 0), 0x00FF0000u);
  SelectObject(dst.DC, old);
  DeleteObject(brush);
}

TEST(GdiBlit, MonochromeToColourUsesTextAndBackground) {
  TCanvas dst(8, 1);
  const WORD row[1] = {0x00F0};  // left four pixels 1
  HBITMAP mono = CreateBitmap(8, 1, 1, 1, row);
  HDC mdc = CreateCompatibleDC(dst.DC);
  HGDIOBJ old = SelectObject(mdc, mono);
  SetTextColor(dst.DC, Red);
  SetBkColor(dst.DC, Blue);
  BitBlt(dst.DC, 0, 0, 8, 1, mdc, 0, 0, SRCCOPY);
  EXPECT_EQ(dst.Pattern(Blue), "####....\n");
  EXPECT_EQ(dst.Pattern(Red), "....####\n");
  SelectObject(mdc, old);
  DeleteDC(mdc);
  DeleteObject(mono);
}

TEST(GdiBlit, ColourToMonochromeMatchesTheSourceBackground) {
  TCanvas src(4, 1);
  src.Bits[1] = 0x00FF0000;  // red
  src.Bits[3] = 0x00FF0000;
  SetBkColor(src.DC, Red);
  HBITMAP mono = CreateBitmap(4, 1, 1, 1, nullptr);
  HDC mdc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(mdc, mono);
  BitBlt(mdc, 0, 0, 4, 1, src.DC, 0, 0, SRCCOPY);
  EXPECT_EQ(GetPixel(mdc, 0, 0), Black);
  EXPECT_EQ(GetPixel(mdc, 1, 0), White);  // the background colour becomes 1
  EXPECT_EQ(GetPixel(mdc, 3, 0), White);
  WORD bits = 0;
  GetBitmapBits(mono, 2, &bits);
  EXPECT_EQ(bits & 0xFF, 0x50);
  // CreateCompatibleBitmap on this DC is monochrome too
  HBITMAP compat = CreateCompatibleBitmap(mdc, 2, 2);
  BITMAP bm{};
  GetObjectW(compat, sizeof(bm), &bm);
  EXPECT_EQ(bm.bmBitsPixel, 1);
  DeleteObject(compat);
  SelectObject(mdc, old);
  DeleteDC(mdc);
  DeleteObject(mono);
}

TEST(GdiBlit, StretchAndMirror) {
  TCanvas src(2, 1), dst(4, 2);
  src.Bits[0] = 0x00FF0000;
  src.Bits[1] = 0x000000FF;
  StretchBlt(dst.DC, 0, 0, 4, 2, src.DC, 0, 0, 2, 1, SRCCOPY);
  EXPECT_EQ(dst.Pattern(Red), "##..\n##..\n");
  // a negative destination width mirrors: x = 3 down to 0
  StretchBlt(dst.DC, 3, 0, -4, 1, src.DC, 0, 0, 2, 1, SRCCOPY);
  EXPECT_EQ(dst.Pattern(Red, 0, 0, 4, 1), "..##\n");
  // shrinking with HALFTONE averages
  TCanvas big(2, 1), one(1, 1);
  big.Bits[0] = 0x00000000;
  big.Bits[1] = 0x00FEFEFE;
  SetStretchBltMode(one.DC, HALFTONE);
  StretchBlt(one.DC, 0, 0, 1, 1, big.DC, 0, 0, 2, 1, SRCCOPY);
  EXPECT_EQ(one.At(0, 0), RGB(0x7F, 0x7F, 0x7F));
}

TEST(GdiBlit, OriginsOnBothSidesAndClipping) {
  TCanvas src(4, 4, Red), dst(6, 6);
  SetWindowOrgEx(src.DC, 1, 1, nullptr);      // logical (1,1) is source pixel (0,0)
  SetViewportOrgEx(dst.DC, 2, 2, nullptr);    // logical (0,0) is destination pixel (2,2)
  IntersectClipRect(dst.DC, 0, 0, 1, 4);
  BitBlt(dst.DC, 0, 0, 3, 3, src.DC, 1, 1, SRCCOPY);
  EXPECT_EQ(dst.Pattern(Red), "......\n......\n..#...\n..#...\n..#...\n......\n");
}

TEST(GdiBlit, MaskBltChoosesTheRopPerMaskBit) {
  TCanvas src(4, 1, Red), dst(4, 1, Blue);
  const WORD row[1] = {0x00A0};  // 1 0 1 0
  HBITMAP mask = CreateBitmap(4, 1, 1, 1, row);
  // foreground (mask 1): copy the source; background (mask 0): keep the destination
  MaskBlt(dst.DC, 0, 0, 4, 1, src.DC, 0, 0, mask, 0, 0, MAKEROP4(SRCCOPY, 0x00AA0029));
  EXPECT_EQ(dst.Pattern(Red), "#.#.\n");
  DeleteObject(mask);
}

TEST(GdiBlit, TransparentBltSkipsTheKeyColour) {
  TCanvas src(3, 1, Red), dst(3, 1, Blue);
  src.Bits[1] = 0x0000FF00;  // green key
  TransparentBlt(dst.DC, 0, 0, 3, 1, src.DC, 0, 0, 3, 1, RGB(0, 255, 0));
  EXPECT_EQ(dst.Pattern(Red), "#.#\n");
  EXPECT_EQ(dst.At(1, 0), Blue);
}

TEST(GdiAlphaBlend, ConstantAndPremultipliedPerPixel) {
  TCanvas src(3, 1), dst(3, 1, RGB(0, 0, 200));
  src.Bits[0] = 0xFF00C800;  // opaque green
  src.Bits[1] = 0x80006400;  // half alpha, premultiplied (green 200 * 0.5)
  src.Bits[2] = 0x00000000;  // fully transparent
  AlphaBlend(dst.DC, 0, 0, 3, 1, src.DC, 0, 0, 3, 1, BLENDFUNCTION{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA});
  EXPECT_EQ(dst.At(0, 0), RGB(0, 200, 0));
  EXPECT_EQ(dst.At(1, 0), RGB(0, 100, 100));  // 200 * (1 - 128/255) = 99.6
  EXPECT_EQ(dst.At(2, 0), RGB(0, 0, 200));
  // a constant alpha of 128 without per-pixel alpha mixes half and half
  TCanvas d2(1, 1, RGB(0, 0, 200)), s2(1, 1, RGB(0, 200, 0));
  AlphaBlend(d2.DC, 0, 0, 1, 1, s2.DC, 0, 0, 1, 1, BLENDFUNCTION{AC_SRC_OVER, 0, 128, 0});
  EXPECT_EQ(d2.At(0, 0), RGB(0, 100, 100));
  // a source rectangle outside the source fails
  EXPECT_FALSE(AlphaBlend(d2.DC, 0, 0, 1, 1, s2.DC, 1, 0, 1, 1, BLENDFUNCTION{AC_SRC_OVER, 0, 128, 0}));
}

TEST(GdiGradient, RectangleEndColours) {
  for (ULONG mode : {GRADIENT_FILL_RECT_H, GRADIENT_FILL_RECT_V}) {
    TCanvas c(16, 16);
    TRIVERTEX v[2] = {{0, 0, 0xFF00, 0, 0, 0}, {16, 16, 0, 0, 0xFF00, 0}};
    GRADIENT_RECT r{0, 1};
    EXPECT_TRUE(GradientFill(c.DC, v, 2, &r, 1, mode));
    COLORREF first = c.At(0, 0), last = mode == GRADIENT_FILL_RECT_H ? c.At(15, 0) : c.At(0, 15);
    EXPECT_EQ(first, RGB(255, 0, 0));
    EXPECT_EQ(GetBValue(last), 239);  // 255 * 15 / 16
    EXPECT_EQ(GetRValue(last), 16);
    if (mode == GRADIENT_FILL_RECT_H) EXPECT_EQ(c.At(5, 0), c.At(5, 15));
    else EXPECT_EQ(c.At(0, 5), c.At(15, 5));
  }
}

TEST(GdiDIBits, StretchDIBitsDrawsBottomUpData) {
  TCanvas c(2, 2);
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bi.bmiHeader.biWidth = 2;
  bi.bmiHeader.biHeight = 2;  // bottom-up: the first row in memory is the bottom one
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  uint32_t px[4] = {0x00FF0000, 0x00FF0000, 0x000000FF, 0x000000FF};
  EXPECT_EQ(StretchDIBits(c.DC, 0, 0, 2, 2, 0, 0, 2, 2, px, &bi, DIB_RGB_COLORS, SRCCOPY), 2);
  EXPECT_EQ(c.Pattern(Blue), "##\n..\n");
  EXPECT_EQ(c.Pattern(Red), "..\n##\n");
}

}  // namespace
