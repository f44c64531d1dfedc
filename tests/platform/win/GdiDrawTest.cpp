// Drawing primitives: end points, half-open rectangles, origins with
// clipping, ROP2 mixes, pens and brushes.
#include "tests/platform/win/GdiFixture.h"

namespace {

using namespace gditest;

TEST(GdiLines, EndPointIsNotDrawn) {
  TCanvas c(8, 4);
  MoveToEx(c.DC, 1, 1, nullptr);
  LineTo(c.DC, 5, 1);
  EXPECT_EQ(c.Pattern(Black, 0, 1, 8, 1), ".####...\n");
  POINT cur{};
  GetCurrentPositionEx(c.DC, &cur);
  EXPECT_EQ(cur, (POINT{5, 1}));
}

TEST(GdiLines, SlopesCoverTheSamePixelsBothWays) {
  // ties on the minor axis go to the smaller coordinate, in either direction
  TCanvas a(6, 4), b(6, 4);
  MoveToEx(a.DC, 0, 0, nullptr);
  LineTo(a.DC, 4, 2);
  EXPECT_EQ(a.Pattern(Black, 0, 0, 5, 3), "##...\n..##.\n.....\n");
  MoveToEx(b.DC, 4, 2, nullptr);
  LineTo(b.DC, 0, 0);
  EXPECT_EQ(b.Pattern(Black, 0, 0, 5, 3), ".#...\n..##.\n....#\n");
  // the same pixels apart from the end points
  for (int x = 1; x < 4; ++x)
    for (int y = 0; y < 3; ++y) EXPECT_EQ(a.At(x, y), b.At(x, y)) << x << "," << y;
  EXPECT_EQ(a.At(0, 0), Black);
  EXPECT_EQ(b.At(0, 0), White);
  EXPECT_EQ(b.At(4, 2), Black);
}

TEST(GdiLines, PolylineJoinsDrawEachPixelOnce) {
  TCanvas c(6, 6);
  SetROP2(c.DC, R2_XORPEN);
  HPEN pen = CreatePen(PS_SOLID, 1, RGB(255, 255, 255));
  SelectObject(c.DC, pen);
  c.Fill(Black);
  POINT pts[] = {{1, 1}, {4, 1}, {4, 4}, {1, 4}, {1, 1}};
  Polyline(c.DC, pts, 5);
  // a closed square outline with no pixel inverted twice
  EXPECT_EQ(c.Pattern(White, 0, 0, 6, 6), "......\n.####.\n.#..#.\n.#..#.\n.####.\n......\n");
  SelectObject(c.DC, GetStockObject(BLACK_PEN));
  DeleteObject(pen);
}

TEST(GdiRects, FillRectIsHalfOpen) {
  TCanvas c(6, 6);
  RECT r{1, 1, 4, 3};
  FillRect(c.DC, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  EXPECT_EQ(c.Pattern(Black), "......\n.###..\n.###..\n......\n......\n......\n");
  // an inverted rectangle fills nothing; a colour index + 1 is a brush
  RECT inv{4, 4, 2, 2};
  FillRect(c.DC, &inv, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  EXPECT_EQ(c.Count(Black), 6);
  RECT r2{0, 5, 2, 6};
  FillRect(c.DC, &r2, reinterpret_cast<HBRUSH>(intptr_t(COLOR_HIGHLIGHT + 1)));
  EXPECT_EQ(c.At(0, 5), GetSysColor(COLOR_HIGHLIGHT));
}

TEST(GdiRects, RectangleOutlineAndInterior) {
  TCanvas c(7, 6);
  HBRUSH red = CreateSolidBrush(Red);
  SelectObject(c.DC, red);
  Rectangle(c.DC, 1, 1, 6, 5);
  EXPECT_EQ(c.Pattern(Black), ".......\n.#####.\n.#...#.\n.#...#.\n.#####.\n.......\n");
  EXPECT_EQ(c.Pattern(Red), ".......\n.......\n..###..\n..###..\n.......\n.......\n");
  // without a pen the fill is one pixel smaller on the right and bottom
  c.Fill(White);
  SelectObject(c.DC, GetStockObject(NULL_PEN));
  Rectangle(c.DC, 1, 1, 6, 5);
  EXPECT_EQ(c.Pattern(Red), ".......\n.####..\n.####..\n.####..\n.......\n.......\n");
  SelectObject(c.DC, GetStockObject(WHITE_BRUSH));
  DeleteObject(red);
}

TEST(GdiRects, FrameAndInvert) {
  TCanvas c(5, 5);
  RECT r{0, 0, 4, 4};
  FrameRect(c.DC, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  EXPECT_EQ(c.Pattern(Black), "####.\n#..#.\n#..#.\n####.\n.....\n");
  RECT i{1, 1, 3, 3};
  InvertRect(c.DC, &i);
  EXPECT_EQ(c.Pattern(Black), "####.\n####.\n####.\n####.\n.....\n");
}

TEST(GdiOrigins, DrawingIsLogicalClippingIsDevice) {
  TCanvas c(10, 10);
  SetViewportOrgEx(c.DC, 3, 0, nullptr);
  SetWindowOrgEx(c.DC, 1, -2, nullptr);  // device = logical - (1, -2) + (3, 0)
  HRGN clip = CreateRectRgn(0, 0, 5, 10);  // device coordinates
  SelectClipRgn(c.DC, clip);
  RECT r{0, 0, 5, 1};
  FillRect(c.DC, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  // logical (0..5, 0) -> device (2..7, 2), clipped at device x 5
  EXPECT_EQ(c.Pattern(Black, 0, 2, 10, 1), "..###.....\n");
  RECT box{};
  EXPECT_EQ(GetClipBox(c.DC, &box), SIMPLEREGION);
  EXPECT_EQ(box, (RECT{-2, -2, 3, 8}));  // logical = device + window origin - viewport origin
  POINT p{0, 0};
  LPtoDP(c.DC, &p, 1);
  EXPECT_EQ(p, (POINT{2, 2}));
  DPtoLP(c.DC, &p, 1);
  EXPECT_EQ(p, (POINT{0, 0}));
  HRGN got = CreateRectRgn(0, 0, 0, 0);
  EXPECT_EQ(GetClipRgn(c.DC, got), 1);
  EXPECT_TRUE(EqualRgn(got, clip));
  SelectClipRgn(c.DC, nullptr);
  EXPECT_EQ(GetClipRgn(c.DC, got), 0);
  DeleteObject(got);
  DeleteObject(clip);
}

TEST(GdiOrigins, IntersectAndExcludeTakeLogicalCoordinates) {
  TCanvas c(8, 3);
  SetWindowOrgEx(c.DC, -2, 0, nullptr);  // logical 0 is device 2
  IntersectClipRect(c.DC, 0, 0, 4, 3);   // device 2..6
  ExcludeClipRect(c.DC, 1, 0, 2, 3);     // device 3
  RECT all{-2, 0, 6, 3};
  FillRect(c.DC, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  EXPECT_EQ(c.Pattern(Black, 0, 0, 8, 1), "..#.##..\n");
  RECT vis{1, 0, 2, 1};
  EXPECT_FALSE(RectVisible(c.DC, &vis));
  EXPECT_TRUE(PtVisible(c.DC, 0, 0));
  EXPECT_FALSE(PtVisible(c.DC, 5, 0));
}

TEST(GdiState, SaveAndRestoreWithRelativeLevels) {
  TCanvas c(4, 4);
  SetTextColor(c.DC, Red);
  int one = SaveDC(c.DC);
  SetTextColor(c.DC, Blue);
  SetWindowOrgEx(c.DC, 5, 5, nullptr);
  IntersectClipRect(c.DC, 0, 0, 1, 1);
  int two = SaveDC(c.DC);
  EXPECT_EQ(two, one + 1);
  SetTextColor(c.DC, Black);
  EXPECT_TRUE(RestoreDC(c.DC, -2));  // back to the first saved state
  EXPECT_EQ(GetTextColor(c.DC), Red);
  POINT org{};
  GetWindowOrgEx(c.DC, &org);
  EXPECT_EQ(org, (POINT{0, 0}));
  HRGN r = CreateRectRgn(0, 0, 0, 0);
  EXPECT_EQ(GetClipRgn(c.DC, r), 0);
  DeleteObject(r);
  EXPECT_FALSE(RestoreDC(c.DC, -1));  // nothing left
  EXPECT_FALSE(RestoreDC(c.DC, 3));
}

TEST(GdiRop2, EveryMixOnKnownPixels) {
  // pen P = 0xCC, destination D = 0xAA in every channel: the result byte is
  // the mix's truth table
  const uint8_t expected[17] = {0,    0x00, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77,
                                0x88, 0x99, 0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0xFF};
  for (int rop = R2_BLACK; rop <= R2_WHITE; ++rop) {
    TCanvas c(3, 1, RGB(0xAA, 0xAA, 0xAA));
    HPEN pen = CreatePen(PS_SOLID, 1, RGB(0xCC, 0xCC, 0xCC));
    SelectObject(c.DC, pen);
    EXPECT_EQ(SetROP2(c.DC, rop), R2_COPYPEN);
    MoveToEx(c.DC, 0, 0, nullptr);
    LineTo(c.DC, 2, 0);
    uint8_t v = expected[rop];
    EXPECT_EQ(c.At(0, 0), RGB(v, v, v)) << "ROP2 " << rop;
    EXPECT_EQ(c.At(2, 0), RGB(0xAA, 0xAA, 0xAA));
    SelectObject(c.DC, GetStockObject(BLACK_PEN));
    DeleteObject(pen);
  }
}

TEST(GdiPens, DashPatternsAndOpaqueGaps) {
  struct {
    int Style;
    const char* Row;
  } cases[] = {
      {PS_DOT, "###...###...###...\n"},
      {PS_DASHDOT, "#########......###\n"},
  };
  for (auto& k : cases) {
    TCanvas c(18, 1);
    SetBkMode(c.DC, TRANSPARENT);
    HPEN pen = CreatePen(k.Style, 1, Black);
    SelectObject(c.DC, pen);
    MoveToEx(c.DC, 0, 0, nullptr);
    LineTo(c.DC, 18, 0);
    EXPECT_EQ(c.Pattern(Black), k.Row) << k.Style;
    SelectObject(c.DC, GetStockObject(BLACK_PEN));
    DeleteObject(pen);
  }
  // opaque: gaps take the background colour
  TCanvas c(6, 1);
  SetBkColor(c.DC, Red);
  HPEN pen = CreatePen(PS_DOT, 1, Black);
  SelectObject(c.DC, pen);
  MoveToEx(c.DC, 0, 0, nullptr);
  LineTo(c.DC, 6, 0);
  EXPECT_EQ(c.Pattern(Red), "...###\n");
  SelectObject(c.DC, GetStockObject(BLACK_PEN));
  DeleteObject(pen);
}

TEST(GdiPens, WidePenCoversItsWidth) {
  TCanvas c(12, 9);
  HPEN pen = CreatePen(PS_SOLID, 3, Black);
  SelectObject(c.DC, pen);
  MoveToEx(c.DC, 2, 4, nullptr);
  LineTo(c.DC, 9, 4);
  for (int x = 3; x <= 8; ++x) {
    EXPECT_EQ(c.At(x, 3), Black);
    EXPECT_EQ(c.At(x, 4), Black);
    EXPECT_EQ(c.At(x, 5), Black);
    EXPECT_EQ(c.At(x, 2), White);
    EXPECT_EQ(c.At(x, 6), White);
  }
  SelectObject(c.DC, GetStockObject(BLACK_PEN));
  DeleteObject(pen);
}

TEST(GdiBrushes, HatchFollowsTheBrushOrigin) {
  TCanvas a(16, 2), b(16, 2);
  HBRUSH h = CreateHatchBrush(HS_VERTICAL, Black);
  RECT r{0, 0, 16, 2};
  SetBkMode(a.DC, TRANSPARENT);
  FillRect(a.DC, &r, h);
  SetBkMode(b.DC, TRANSPARENT);
  SetBrushOrgEx(b.DC, 3, 0, nullptr);
  FillRect(b.DC, &r, h);
  EXPECT_EQ(a.Pattern(Black, 0, 0, 16, 1), "#.......#.......\n");
  EXPECT_EQ(b.Pattern(Black, 0, 0, 16, 1), "...#.......#....\n");
  // opaque hatches fill the gaps with the background colour
  SetBkMode(a.DC, OPAQUE);
  SetBkColor(a.DC, Red);
  FillRect(a.DC, &r, h);
  EXPECT_EQ(a.Pattern(Red, 0, 0, 16, 1), ".#######.#######\n");
  DeleteObject(h);
}

TEST(GdiBrushes, MonochromePatternUsesTextAndBackgroundColours) {
  TCanvas c(8, 2);
  const WORD rows[8] = {0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55};
  HBITMAP bm = CreateBitmap(8, 8, 1, 1, rows);
  HBRUSH br = CreatePatternBrush(bm);
  SetTextColor(c.DC, Red);
  SetBkColor(c.DC, Blue);
  RECT r{0, 0, 8, 2};
  FillRect(c.DC, &r, br);
  // 1 bits (0xAA: the left pixel) take the background colour
  EXPECT_EQ(c.Pattern(Blue), "#.#.#.#.\n.#.#.#.#\n");
  EXPECT_EQ(c.Pattern(Red), ".#.#.#.#\n#.#.#.#.\n");
  DeleteObject(br);
  DeleteObject(bm);
}

TEST(GdiShapes, PolygonFillAndOutlineInOneColour) {
  TCanvas c(9, 6);
  HBRUSH br = CreateSolidBrush(Black);
  SelectObject(c.DC, br);
  POINT tri[] = {{1, 4}, {4, 1}, {7, 4}};
  Polygon(c.DC, tri, 3);
  EXPECT_EQ(c.Pattern(Black), ".........\n....#....\n...###...\n..#####..\n.#######.\n.........\n");
  SelectObject(c.DC, GetStockObject(WHITE_BRUSH));
  DeleteObject(br);
}

TEST(GdiShapes, PolygonFillModes) {
  // a pentagram: the centre is inside with WINDING only
  POINT star[] = {{10, 0}, {16, 19}, {0, 7}, {20, 7}, {4, 19}};
  TCanvas a(21, 21), w(21, 21);
  SelectObject(a.DC, GetStockObject(BLACK_BRUSH));
  SelectObject(a.DC, GetStockObject(NULL_PEN));
  Polygon(a.DC, star, 5);
  SelectObject(w.DC, GetStockObject(BLACK_BRUSH));
  SelectObject(w.DC, GetStockObject(NULL_PEN));
  SetPolyFillMode(w.DC, WINDING);
  Polygon(w.DC, star, 5);
  EXPECT_EQ(a.At(10, 10), White);
  EXPECT_EQ(w.At(10, 10), Black);
  EXPECT_EQ(a.At(10, 3), Black);
}

TEST(GdiShapes, EllipseIsSymmetricAndTouchesItsBox) {
  TCanvas c(12, 12);
  SelectObject(c.DC, GetStockObject(BLACK_BRUSH));
  Ellipse(c.DC, 1, 1, 11, 11);
  int minX = 99, maxX = -1, minY = 99, maxY = -1;
  for (int y = 0; y < 12; ++y)
    for (int x = 0; x < 12; ++x)
      if (c.At(x, y) == Black) {
        minX = std::min(minX, x), maxX = std::max(maxX, x), minY = std::min(minY, y), maxY = std::max(maxY, y);
        EXPECT_EQ(c.At(11 - x, y), Black);
        EXPECT_EQ(c.At(x, 11 - y), Black);
      }
  EXPECT_EQ(minX, 1);
  EXPECT_EQ(maxX, 10);
  EXPECT_EQ(minY, 1);
  EXPECT_EQ(maxY, 10);
  EXPECT_EQ(c.At(1, 1), White);  // corners stay outside
}

TEST(GdiPatBlt, RasterOperations) {
  struct {
    DWORD Rop;
    COLORREF Expected;
  } cases[] = {
      {PATCOPY, Red},
      {PATINVERT, RGB(0xFF ^ 0x12, 0x34, 0x56)},
      {DSTINVERT, RGB(0xED, 0xCB, 0xA9)},
      {BLACKNESS, Black},
      {WHITENESS, White},
  };
  for (auto& k : cases) {
    TCanvas c(4, 4, RGB(0x12, 0x34, 0x56));
    HBRUSH br = CreateSolidBrush(Red);
    SelectObject(c.DC, br);
    EXPECT_TRUE(PatBlt(c.DC, 1, 1, 2, 2, k.Rop));
    EXPECT_EQ(c.At(1, 1), k.Expected) << std::hex << k.Rop;
    EXPECT_EQ(c.At(3, 3), RGB(0x12, 0x34, 0x56));
    SelectObject(c.DC, GetStockObject(WHITE_BRUSH));
    DeleteObject(br);
  }
  TCanvas c(2, 2);
  EXPECT_FALSE(PatBlt(c.DC, 0, 0, 1, 1, SRCCOPY));  // needs a source
}

TEST(GdiPixels, SetAndGetPixelRespectClipAndOrigin) {
  TCanvas c(4, 4);
  SetViewportOrgEx(c.DC, 1, 1, nullptr);
  EXPECT_EQ(SetPixel(c.DC, 0, 0, Red), Red);
  EXPECT_EQ(c.At(1, 1), Red);
  EXPECT_EQ(GetPixel(c.DC, 0, 0), Red);
  EXPECT_EQ(GetPixel(c.DC, 10, 10), CLR_INVALID);
  IntersectClipRect(c.DC, 1, 1, 2, 2);
  EXPECT_EQ(GetPixel(c.DC, 0, 0), CLR_INVALID);
  EXPECT_EQ(SetPixel(c.DC, 0, 0, Blue), CLR_INVALID);
}

}  // namespace

namespace {

using namespace gditest;

// Extreme coordinates must neither overflow nor take long: everything is
// clamped and only the visible rows are computed.
TEST(GdiHostile, ExtremeCoordinatesAreHarmless) {
  TCanvas c(8, 8);
  const int big = 0x7FFFFFFF, small = -0x7FFFFFFF - 1;
  SelectObject(c.DC, GetStockObject(BLACK_BRUSH));
  MoveToEx(c.DC, small, small, nullptr);
  LineTo(c.DC, big, big);
  Rectangle(c.DC, small, small, big, big);
  Ellipse(c.DC, small, 0, big, 8);
  RoundRect(c.DC, small, small, big, big, big, big);
  POINT pts[] = {{small, small}, {big, 0}, {0, big}};
  Polygon(c.DC, pts, 3);
  RECT r{small, small, big, big};
  FillRect(c.DC, &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  PatBlt(c.DC, small, small, big, big, PATINVERT);
  SetWindowOrgEx(c.DC, small, big, nullptr);
  FillRect(c.DC, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  SetWindowOrgEx(c.DC, 0, 0, nullptr);
  TCanvas src(2, 2);
  StretchBlt(c.DC, 0, 0, big, big, src.DC, 0, 0, 2, 2, SRCCOPY);
  StretchBlt(c.DC, 0, 0, small, 2, src.DC, 0, 0, 2, 2, SRCCOPY);
  HPEN wide = CreatePen(PS_SOLID, 5, Red);
  SelectObject(c.DC, wide);
  MoveToEx(c.DC, small, 3, nullptr);
  LineTo(c.DC, big, 3);
  SelectObject(c.DC, GetStockObject(BLACK_PEN));
  DeleteObject(wide);
  HRGN e = CreateEllipticRgn(small, small, big, big);
  HRGN p = CreatePolygonRgn(pts, 3, WINDING);
  EXPECT_NE(e, nullptr);
  EXPECT_NE(p, nullptr);
  DeleteObject(e);
  DeleteObject(p);
  SelectObject(c.DC, GetStockObject(WHITE_BRUSH));
}

}  // namespace

namespace {

using namespace gditest;

TEST(GdiArcs, PieFollowsTheArcDirection) {
  TCanvas ccw(21, 21), cw(21, 21);
  for (TCanvas* c : {&ccw, &cw}) SelectObject(c->DC, GetStockObject(BLACK_BRUSH));
  // from the radial at angle 0 (right) to the one at 90 degrees (up)
  Pie(ccw.DC, 0, 0, 21, 21, 20, 10, 10, 0);
  SetArcDirection(cw.DC, AD_CLOCKWISE);
  Pie(cw.DC, 0, 0, 21, 21, 20, 10, 10, 0);
  EXPECT_EQ(ccw.At(15, 5), Black);   // the top-right quarter
  EXPECT_EQ(ccw.At(5, 15), White);
  EXPECT_EQ(cw.At(15, 5), White);    // the other three quarters
  EXPECT_EQ(cw.At(5, 15), Black);
  EXPECT_EQ(cw.At(5, 5), Black);
  TCanvas arc(21, 21);
  Arc(arc.DC, 0, 0, 21, 21, 20, 10, 10, 0);
  EXPECT_EQ(arc.At(10, 10), White);  // an arc has no interior
  EXPECT_GT(arc.Count(Black), 10);
  EXPECT_EQ(arc.At(3, 17), White);
}

TEST(GdiPens, AlternatePenLightsEveryOtherPixel) {
  TCanvas c(8, 1);
  LOGBRUSH lb{BS_SOLID, Black, 0};
  HPEN pen = ExtCreatePen(PS_COSMETIC | PS_ALTERNATE, 1, &lb, 0, nullptr);
  ASSERT_NE(pen, nullptr);
  SetBkMode(c.DC, TRANSPARENT);
  SelectObject(c.DC, pen);
  MoveToEx(c.DC, 0, 0, nullptr);
  LineTo(c.DC, 8, 0);
  EXPECT_EQ(c.Pattern(Black), "#.#.#.#.\n");
  SelectObject(c.DC, GetStockObject(BLACK_PEN));
  DeleteObject(pen);
  // a geometric pen cannot alternate; a cosmetic one is one pixel wide
  EXPECT_EQ(ExtCreatePen(PS_GEOMETRIC | PS_ALTERNATE, 1, &lb, 0, nullptr), nullptr);
  EXPECT_EQ(ExtCreatePen(PS_COSMETIC | PS_SOLID, 2, &lb, 0, nullptr), nullptr);
}

}  // namespace
