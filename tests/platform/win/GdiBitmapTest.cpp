// Bitmaps in every pixel format, DIB sections, GetDIBits/SetDIBits, objects
// and stock objects.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "platform/win/GdiInternal.h"
#include "tests/platform/win/GdiFixture.h"

namespace {

using namespace gditest;

// Colours every format can hold exactly: black, white and, from 4 bits up,
// the greys of the test colour table.
TEST(GdiBitmaps, RoundTripThroughEveryFormat) {
  for (int bpp : {1, 4, 8, 16, 24, 32}) {
    void* bits = nullptr;
    HBITMAP bm = MakeDib(5, 3, bpp, &bits);
    ASSERT_NE(bm, nullptr) << bpp;
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bm);
    RECT all{0, 0, 5, 3}, part{1, 1, 4, 2};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    FillRect(dc, &part, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    EXPECT_EQ(GetPixel(dc, 0, 0), White) << bpp;
    EXPECT_EQ(GetPixel(dc, 2, 1), Black) << bpp;
    // read back as 32 bits, top-down
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = 5;
    bi.bmiHeader.biHeight = -3;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    uint32_t px[15] = {};
    EXPECT_EQ(GetDIBits(dc, bm, 0, 3, px, &bi, DIB_RGB_COLORS), 3) << bpp;
    EXPECT_EQ(px[0] & 0xFFFFFF, 0xFFFFFFu) << bpp;
    EXPECT_EQ(px[5 + 2] & 0xFFFFFF, 0u) << bpp;
    // and written back into a fresh bitmap of the same format
    HBITMAP copy = MakeDib(5, 3, bpp);
    EXPECT_EQ(SetDIBits(dc, copy, 0, 3, px, &bi, DIB_RGB_COLORS), 3);
    BITMAP a{}, b{};
    GetObjectW(bm, sizeof(a), &a);
    GetObjectW(copy, sizeof(b), &b);
    EXPECT_EQ(a.bmBitsPixel, bpp);
    EXPECT_EQ(std::memcmp(a.bmBits, b.bmBits, size_t(a.bmWidthBytes) * 3), 0) << bpp;
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(bm);
    DeleteObject(copy);
  }
}

// A fill in a bitmap kept in another format than 32 bits: the rectangle's
// pixels change, every other byte stays as the program last wrote it, also
// bytes written straight into the bits after an earlier fill of the whole
// bitmap, and the rows at the rectangle's edges, in both row orders.
TEST(GdiBitmaps, FillsOfShadowedFormatsTouchOnlyTheirRectangle) {
  constexpr int W = 9, H = 8;
  struct TCase {
    RECT Fill;
    int Written;  // a row changed straight in the bits before the fill
  };
  const TCase Cases[] = {{{2, 3, 7, 5}, 6}, {{0, 0, W, 1}, H - 1}, {{1, H - 1, 4, H}, 0}, {{-3, -2, 3, 2}, 5},
                         {{4, 5, 20, 30}, 2}, {{3, 3, 3, 6}, 4}};
  for (int bpp : {1, 4, 8, 16, 24})
    for (bool topDown : {true, false})
      for (const TCase& c : Cases) {
        void* bits = nullptr;
        HBITMAP bm = MakeDib(W, H, bpp, &bits, topDown);
        ASSERT_NE(bm, nullptr);
        DIBSECTION ds{};
        GetObjectW(bm, sizeof(ds), &ds);
        const size_t stride = size_t(ds.dsBm.bmWidthBytes);
        auto* b = static_cast<uint8_t*>(bits);
        auto row = [&](int y) { return b + stride * size_t(topDown ? y : H - 1 - y); };
        HDC dc = CreateCompatibleDC(nullptr);
        HGDIOBJ old = SelectObject(dc, bm);
        RECT all{0, 0, W, H};
        FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        std::memset(row(c.Written), 0xFF, stride);  // white in every format here
        std::vector<uint8_t> before(b, b + stride * H);
        FillRect(dc, &c.Fill, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        const std::string name = std::to_string(bpp) + (topDown ? " top-down " : " bottom-up ") +
                                 std::to_string(c.Fill.left) + "," + std::to_string(c.Fill.top);
        for (int y = 0; y < H; ++y)
          for (int x = 0; x < W; ++x) {
            const bool inside = x >= c.Fill.left && x < c.Fill.right && y >= c.Fill.top && y < c.Fill.bottom;
            const COLORREF want = inside || y == c.Written ? White : Black;
            EXPECT_EQ(GetPixel(dc, x, y), want) << name << " at " << x << "," << y;
          }
        // Rows the fill does not reach keep their bytes (padding included).
        for (int y = 0; y < H; ++y) {
          if (y >= c.Fill.top && y < c.Fill.bottom && c.Fill.left < c.Fill.right) continue;
          const size_t at = size_t(row(y) - b);
          EXPECT_EQ(std::memcmp(row(y), before.data() + at, stride), 0) << name << " row " << y;
        }
        SelectObject(dc, old);
        DeleteDC(dc);
        DeleteObject(bm);
      }
}

// Fills through an origin, a clip region, regions, reversed
// rectangles and negative extents leave a bitmap kept in another format than
// 32 bits exactly as they leave a 32-bit one.
TEST(GdiBitmaps, ShadowedFormatsFillAsThe32BitFormatDoes) {
  constexpr int W = 11, H = 9;
  HBRUSH white = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  HBRUSH black = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  auto draw = [&](HDC dc) {
    RECT all{0, 0, W, H};
    FillRect(dc, &all, white);
    SetViewportOrgEx(dc, 2, 3, nullptr);
    RECT shifted{-1, -1, 3, 2};
    FillRect(dc, &shifted, black);
    SetViewportOrgEx(dc, 0, 0, nullptr);
    SetWindowOrgEx(dc, -7, -6, nullptr);
    RECT moved{0, 0, 3, 5};  // device (7, 6)-(10, 11), partly below the bitmap
    FillRect(dc, &moved, black);
    SetWindowOrgEx(dc, 0, 0, nullptr);
    HRGN clip = CreateRectRgn(1, 1, 6, 8);
    SelectClipRgn(dc, clip);
    RECT lower{0, 4, W, H};
    InvertRect(dc, &lower);
    SelectClipRgn(dc, nullptr);
    HRGN ellipse = CreateEllipticRgn(0, 0, W, H);
    InvertRgn(dc, ellipse);
    FrameRgn(dc, clip, black, 1, 1);
    RECT reversed{9, 7, 6, 2};
    FillRect(dc, &reversed, white);
    PatBlt(dc, 10, 8, -4, -5, DSTINVERT);
    DeleteObject(ellipse);
    DeleteObject(clip);
  };
  auto picture = [&](int bpp, bool topDown) {
    HBITMAP bm = MakeDib(W, H, bpp, nullptr, topDown);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bm);
    draw(dc);
    std::vector<COLORREF> px;
    for (int y = 0; y < H; ++y)
      for (int x = 0; x < W; ++x) px.push_back(GetPixel(dc, x, y));
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(bm);
    return px;
  };
  const std::vector<COLORREF> want = picture(32, true);
  ASSERT_NE(std::count(want.begin(), want.end(), Black), 0);
  ASSERT_NE(std::count(want.begin(), want.end(), White), 0);
  for (int bpp : {1, 4, 8, 16, 24})
    for (bool topDown : {true, false})
      EXPECT_EQ(picture(bpp, topDown), want) << bpp << (topDown ? " top-down" : " bottom-up");
}

TEST(GdiBitmaps, BottomUpAndTopDownRows) {
  void* bu = nullptr;
  HBITMAP b = MakeDib(1, 2, 32, &bu, false);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, b);
  SetPixel(dc, 0, 0, Red);  // the top row is the last in memory
  EXPECT_EQ(static_cast<uint32_t*>(bu)[1] & 0xFFFFFF, 0xFF0000u);
  EXPECT_EQ(static_cast<uint32_t*>(bu)[0] & 0xFFFFFF, 0u);
  DIBSECTION ds{};
  EXPECT_EQ(GetObjectW(b, sizeof(ds), &ds), int(sizeof(DIBSECTION)));
  EXPECT_EQ(ds.dsBmih.biHeight, 2);
  EXPECT_EQ(ds.dsBm.bmBits, bu);
  SelectObject(dc, old);
  DeleteDC(dc);
  DeleteObject(b);
}

TEST(GdiBitmaps, DeviceBitmapsAndBitmapBits) {
  HDC screen = GetDC(nullptr);
  HBITMAP c = CreateCompatibleBitmap(screen, 3, 2);
  BITMAP bm{};
  GetObjectW(c, sizeof(bm), &bm);
  EXPECT_EQ(bm.bmBitsPixel, 32);
  EXPECT_EQ(bm.bmWidthBytes, 12);
  EXPECT_EQ(bm.bmBits, nullptr);
  uint32_t in[6] = {1, 2, 3, 4, 5, 6}, out[6] = {};
  EXPECT_EQ(SetBitmapBits(c, sizeof(in), in), LONG(sizeof(in)));
  EXPECT_EQ(GetBitmapBits(c, sizeof(out), out), LONG(sizeof(out)));
  EXPECT_EQ(std::memcmp(in, out, sizeof(in)), 0);
  // a monochrome device bitmap has word-aligned rows
  HBITMAP mono = CreateBitmap(17, 2, 1, 1, nullptr);
  GetObjectW(mono, sizeof(bm), &bm);
  EXPECT_EQ(bm.bmWidthBytes, 4);
  EXPECT_EQ(GetBitmapBits(mono, 0, nullptr), 8);
  EXPECT_EQ(GetDeviceCaps(screen, BITSPIXEL), 32);
  EXPECT_EQ(GetDeviceCaps(screen, LOGPIXELSX), 96);
  gdi::SetPixelsPerInch(120);  // a test's screen of another resolution
  EXPECT_EQ(GetDeviceCaps(screen, LOGPIXELSY), 120);
  gdi::SetPixelsPerInch(0);
  EXPECT_EQ(GetDeviceCaps(screen, LOGPIXELSY), 96);
  EXPECT_EQ(GetDeviceCaps(screen, HORZRES), 1280);
  EXPECT_EQ(GetNearestColor(screen, RGB(1, 2, 3)), RGB(1, 2, 3));
  DeleteObject(c);
  DeleteObject(mono);
  ReleaseDC(nullptr, screen);
}

TEST(GdiBitmaps, HostileHeadersAreRefused) {
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bi.bmiHeader.biWidth = 100000;
  bi.bmiHeader.biHeight = 100000;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  void* bits = reinterpret_cast<void*>(1);
  EXPECT_EQ(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0), nullptr);
  EXPECT_EQ(bits, nullptr);
  bi.bmiHeader.biWidth = 4;
  bi.bmiHeader.biHeight = 4;
  bi.bmiHeader.biBitCount = 7;
  EXPECT_EQ(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0), nullptr);
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RLE8;
  EXPECT_EQ(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0), nullptr);
  EXPECT_EQ(CreateBitmap(-1, 4, 1, 32, nullptr), nullptr);
}

TEST(GdiObjects, GetObjectOnEveryKind) {
  HPEN pen = CreatePen(PS_DASH, 1, Red);
  LOGPEN lp{};
  EXPECT_EQ(GetObjectW(pen, sizeof(lp), &lp), int(sizeof(LOGPEN)));
  EXPECT_EQ(lp.lopnStyle, PS_DASH);
  EXPECT_EQ(lp.lopnColor, Red);
  EXPECT_EQ(GetObjectType(pen), OBJ_PEN);
  LOGBRUSH lb{BS_SOLID, Blue, 0};
  DWORD dashes[2] = {4, 2};
  HPEN ext = ExtCreatePen(PS_GEOMETRIC | PS_USERSTYLE, 3, &lb, 2, dashes);
  ASSERT_NE(ext, nullptr);
  EXPECT_EQ(GetObjectType(ext), OBJ_EXTPEN);
  std::vector<uint8_t> buf(GetObjectW(ext, 0, nullptr));
  GetObjectW(ext, int(buf.size()), buf.data());
  auto* e = reinterpret_cast<EXTLOGPEN*>(buf.data());
  EXPECT_EQ(e->elpWidth, 3u);
  EXPECT_EQ(e->elpNumEntries, 2u);
  HBRUSH hatch = CreateHatchBrush(HS_CROSS, Red);
  LOGBRUSH got{};
  GetObjectW(hatch, sizeof(got), &got);
  EXPECT_EQ(got.lbStyle, BS_HATCHED);
  EXPECT_EQ(got.lbHatch, ULONG_PTR(HS_CROSS));
  LOGFONTW lf{};
  lf.lfHeight = -11;
  std::u16string face = u"Tahoma";
  std::copy(face.begin(), face.end(), lf.lfFaceName);
  HFONT font = CreateFontIndirectW(&lf);
  LOGFONTW back{};
  EXPECT_EQ(GetObjectW(font, sizeof(back), &back), 92);
  EXPECT_EQ(back.lfHeight, -11);
  EXPECT_EQ(std::u16string(back.lfFaceName), u"Tahoma");
  EXPECT_EQ(GetObjectType(font), OBJ_FONT);
  HDC dc = CreateCompatibleDC(nullptr);
  EXPECT_EQ(GetObjectType(dc), OBJ_MEMDC);
  // SelectObject answers the previous object; GetCurrentObject the selected one
  HGDIOBJ oldPen = SelectObject(dc, pen);
  EXPECT_EQ(oldPen, GetStockObject(BLACK_PEN));
  EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), pen);
  HGDIOBJ oldBm = GetCurrentObject(dc, OBJ_BITMAP);
  BITMAP bm{};
  GetObjectW(oldBm, sizeof(bm), &bm);
  EXPECT_EQ(bm.bmWidth, 1);
  EXPECT_EQ(bm.bmBitsPixel, 1);
  SelectObject(dc, oldPen);
  for (HGDIOBJ h : {HGDIOBJ(pen), HGDIOBJ(ext), HGDIOBJ(hatch), HGDIOBJ(font)}) EXPECT_TRUE(DeleteObject(h));
  EXPECT_EQ(GetObjectType(pen), 0u);  // a deleted handle is refused, not touched
  EXPECT_EQ(GetObjectW(pen, sizeof(lp), &lp), 0);
  DeleteDC(dc);
}

TEST(GdiObjects, SelectedObjectsAndDeletion) {
  HDC a = CreateCompatibleDC(nullptr), b = CreateCompatibleDC(nullptr);
  HBITMAP bm = CreateBitmap(2, 2, 1, 32, nullptr);
  EXPECT_NE(SelectObject(a, bm), nullptr);
  EXPECT_EQ(SelectObject(b, bm), nullptr);  // one DC at a time
  EXPECT_FALSE(DeleteObject(bm));           // a selected bitmap is not deleted
  HBRUSH br = CreateSolidBrush(Red);
  SelectObject(a, br);
  SaveDC(a);
  SelectObject(a, GetStockObject(WHITE_BRUSH));
  EXPECT_FALSE(DeleteObject(br));  // still held by the saved state
  RestoreDC(a, -1);
  SelectObject(a, GetStockObject(WHITE_BRUSH));
  EXPECT_TRUE(DeleteObject(br));
  EXPECT_EQ(GetObjectType(br), 0u);
  DeleteDC(a);
  EXPECT_TRUE(DeleteObject(bm));
  DeleteDC(b);
  EXPECT_TRUE(DeleteObject(GetStockObject(BLACK_BRUSH)));  // stock objects survive
  EXPECT_EQ(GetObjectType(GetStockObject(BLACK_BRUSH)), OBJ_BRUSH);
}

TEST(GdiObjects, DCBrushAndPenColours) {
  TCanvas c(2, 1);
  SelectObject(c.DC, GetStockObject(DC_BRUSH));
  SetDCBrushColor(c.DC, Red);
  RECT r{0, 0, 1, 1};
  FillRect(c.DC, &r, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
  EXPECT_EQ(c.At(0, 0), Red);
  SelectObject(c.DC, GetStockObject(DC_PEN));
  SetDCPenColor(c.DC, Blue);
  MoveToEx(c.DC, 1, 0, nullptr);
  LineTo(c.DC, 2, 0);
  EXPECT_EQ(c.At(1, 0), Blue);
  SelectObject(c.DC, GetStockObject(BLACK_PEN));
  SelectObject(c.DC, GetStockObject(WHITE_BRUSH));
}

TEST(GdiSysColors, FixedTable) {
  EXPECT_EQ(GetSysColor(COLOR_BTNFACE), RGB(240, 240, 240));
  EXPECT_EQ(GetSysColor(COLOR_HIGHLIGHT), RGB(51, 153, 255));
  EXPECT_EQ(GetSysColor(COLOR_HOTLIGHT), RGB(0, 102, 204));
  EXPECT_EQ(GetSysColor(31), 0u);
  HBRUSH b = GetSysColorBrush(COLOR_WINDOW);
  LOGBRUSH lb{};
  GetObjectW(b, sizeof(lb), &lb);
  EXPECT_EQ(lb.lbColor, RGB(255, 255, 255));
  EXPECT_TRUE(DeleteObject(b));
  EXPECT_EQ(GetObjectType(b), OBJ_BRUSH);
}

}  // namespace
