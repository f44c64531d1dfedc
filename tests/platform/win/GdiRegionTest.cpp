// Regions: construction, combination, queries, region data and the
// round-rectangle and ellipse pixel membership.
#include <cstring>

#include "tests/platform/win/GdiFixture.h"

namespace {

using namespace gditest;

// The region's pixels in [0, w) x [0, h) as '#' rows.
std::string Pixels(HRGN r, int w, int h) {
  std::string s;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) s += PtInRegion(r, x, y) ? '#' : '.';
    s += '\n';
  }
  return s;
}

TEST(GdiRegions, CombineModesAndComplexity) {
  struct {
    int Mode;
    int Result;
    RECT Box;
  } cases[] = {
      {RGN_AND, SIMPLEREGION, {2, 2, 4, 4}},
      {RGN_OR, COMPLEXREGION, {0, 0, 6, 6}},
      {RGN_XOR, COMPLEXREGION, {0, 0, 6, 6}},
      {RGN_DIFF, COMPLEXREGION, {0, 0, 4, 4}},
      {RGN_COPY, SIMPLEREGION, {0, 0, 4, 4}},
  };
  for (auto& k : cases) {
    HRGN a = CreateRectRgn(0, 0, 4, 4), b = CreateRectRgn(2, 2, 6, 6), d = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(CombineRgn(d, a, b, k.Mode), k.Result) << k.Mode;
    RECT box{};
    GetRgnBox(d, &box);
    EXPECT_EQ(box, k.Box) << k.Mode;
    DeleteObject(a);
    DeleteObject(b);
    DeleteObject(d);
  }
  HRGN a = CreateRectRgn(0, 0, 2, 2), b = CreateRectRgn(5, 5, 6, 6), d = CreateRectRgn(0, 0, 0, 0);
  EXPECT_EQ(CombineRgn(d, a, b, RGN_AND), NULLREGION);
  RECT box{1, 1, 1, 1};
  EXPECT_EQ(GetRgnBox(d, &box), NULLREGION);
  EXPECT_EQ(box, (RECT{0, 0, 0, 0}));
  EXPECT_EQ(CombineRgn(d, a, nullptr, RGN_OR), ERROR);
  DeleteObject(a);
  DeleteObject(b);
  DeleteObject(d);
}

TEST(GdiRegions, QueriesAreHalfOpen) {
  HRGN r = CreateRectRgn(1, 1, 3, 3);
  EXPECT_TRUE(PtInRegion(r, 1, 1));
  EXPECT_TRUE(PtInRegion(r, 2, 2));
  EXPECT_FALSE(PtInRegion(r, 3, 2));
  RECT touching{3, 1, 5, 3}, overlapping{2, 2, 9, 9};
  EXPECT_FALSE(RectInRegion(r, &touching));
  EXPECT_TRUE(RectInRegion(r, &overlapping));
  EXPECT_EQ(OffsetRgn(r, 10, 0), SIMPLEREGION);
  EXPECT_TRUE(PtInRegion(r, 11, 1));
  // empty regions anywhere are equal
  HRGN e1 = CreateRectRgn(5, 5, 5, 9), e2 = CreateRectRgn(50, 50, 40, 50);
  EXPECT_TRUE(EqualRgn(e1, e2));
  EXPECT_FALSE(EqualRgn(e1, r));
  SetRectRgn(e1, 13, 3, 11, 1);  // normalized
  EXPECT_TRUE(EqualRgn(e1, r));
  DeleteObject(r);
  DeleteObject(e1);
  DeleteObject(e2);
}

TEST(GdiRegions, RoundRectAndEllipseLeaveOutRightAndBottom) {
  // the platform's regions are one pixel smaller than the rectangle given
  HRGN rr = CreateRoundRectRgn(0, 0, 10, 10, 4, 4);
  RECT box{};
  GetRgnBox(rr, &box);
  EXPECT_EQ(box, (RECT{0, 0, 9, 9}));
  EXPECT_FALSE(PtInRegion(rr, 0, 0));  // rounded corner
  EXPECT_TRUE(PtInRegion(rr, 4, 0));
  EXPECT_TRUE(PtInRegion(rr, 0, 4));
  // the library's round corners over (0, 0, 10, 10) start at (1, 1)
  HRGN corners = CreateRoundRectRgn(1, 1, 10, 10, 2, 2);
  GetRgnBox(corners, &box);
  EXPECT_EQ(box.left, 1);
  EXPECT_EQ(box.top, 1);
  HRGN el = CreateEllipticRgn(0, 0, 9, 9);
  GetRgnBox(el, &box);
  EXPECT_EQ(box, (RECT{0, 0, 8, 8}));
  // symmetric about the centre of the 8 x 8 box
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) EXPECT_EQ(PtInRegion(el, x, y), PtInRegion(el, 7 - x, 7 - y)) << x << "," << y;
  DeleteObject(rr);
  DeleteObject(corners);
  DeleteObject(el);
}

TEST(GdiRegions, PolygonMembership) {
  POINT tri[] = {{0, 0}, {4, 0}, {0, 4}};
  HRGN r = CreatePolygonRgn(tri, 3, ALTERNATE);
  EXPECT_EQ(Pixels(r, 5, 5), "####.\n###..\n##...\n#....\n.....\n");
  DeleteObject(r);
  POINT square[] = {{1, 1}, {4, 1}, {4, 3}, {1, 3}};
  r = CreatePolygonRgn(square, 4, WINDING);
  RECT box{};
  GetRgnBox(r, &box);
  EXPECT_EQ(box, (RECT{1, 1, 4, 3}));
  DeleteObject(r);
  EXPECT_EQ(CreatePolygonRgn(square, 1, WINDING), nullptr);
}

TEST(GdiRegions, RegionDataRoundTrip) {
  HRGN a = CreateRectRgn(0, 0, 4, 2), b = CreateRectRgn(2, 2, 6, 5), u = CreateRectRgn(0, 0, 0, 0);
  CombineRgn(u, a, b, RGN_OR);
  DWORD size = GetRegionData(u, 0, nullptr);
  ASSERT_EQ(size, sizeof(RGNDATAHEADER) + 2 * sizeof(RECT));
  std::vector<uint8_t> buf(size);
  auto* data = reinterpret_cast<RGNDATA*>(buf.data());
  EXPECT_EQ(GetRegionData(u, size - 1, data), 0u);
  ASSERT_EQ(GetRegionData(u, size, data), size);
  EXPECT_EQ(data->rdh.iType, RDH_RECTANGLES);
  EXPECT_EQ(data->rdh.nCount, 2u);
  EXPECT_EQ(data->rdh.rcBound, (RECT{0, 0, 6, 5}));
  HRGN back = ExtCreateRegion(nullptr, size, data);
  EXPECT_TRUE(EqualRgn(back, u));
  // a count beyond the buffer is refused
  data->rdh.nCount = 1000;
  EXPECT_EQ(ExtCreateRegion(nullptr, size, data), nullptr);
  for (HRGN h : {a, b, u, back}) DeleteObject(h);
}

TEST(GdiRegions, ManyRectanglesInOneBatch) {
  std::vector<RECT> rects;
  for (int i = 0; i < 2000; ++i) rects.push_back(RECT{i % 100 * 3, i / 100 * 3, i % 100 * 3 + 2, i / 100 * 3 + 2});
  HRGN r = CreateRectsRgn(rects.data(), int(rects.size()));
  EXPECT_TRUE(PtInRegion(r, 297, 57));
  EXPECT_FALSE(PtInRegion(r, 2, 0));
  EXPECT_EQ(GetRegionData(r, 0, nullptr), sizeof(RGNDATAHEADER) + 2000 * sizeof(RECT));
  DeleteObject(r);
}

TEST(GdiRegions, FillAndFrameRegion) {
  TCanvas c(6, 6);
  HRGN r = CreateRectRgn(1, 1, 5, 5);
  FrameRgn(c.DC, r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)), 1, 1);
  EXPECT_EQ(c.Pattern(Black), "......\n.####.\n.#..#.\n.#..#.\n.####.\n......\n");
  InvertRgn(c.DC, r);
  EXPECT_EQ(c.Pattern(Black), "......\n......\n..##..\n..##..\n......\n......\n");
  SetWindowOrgEx(c.DC, 1, 1, nullptr);  // regions given to FillRgn are logical
  FillRgn(c.DC, r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  EXPECT_EQ(c.Pattern(Black, 0, 0, 6, 1), "####..\n");
  DeleteObject(r);
}

TEST(GdiRegions, SelectObjectWithARegionSetsTheClip) {
  TCanvas c(4, 4);
  HRGN r = CreateRectRgn(0, 0, 2, 2);
  EXPECT_EQ(reinterpret_cast<intptr_t>(SelectObject(c.DC, r)), SIMPLEREGION);
  RECT all{0, 0, 4, 4};
  FillRect(c.DC, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  EXPECT_EQ(c.Count(Black), 4);
  // the DC keeps a copy: changing the region afterwards does not matter
  OffsetRgn(r, 2, 2);
  HRGN got = CreateRectRgn(0, 0, 0, 0);
  GetClipRgn(c.DC, got);
  RECT box{};
  GetRgnBox(got, &box);
  EXPECT_EQ(box, (RECT{0, 0, 2, 2}));
  DeleteObject(r);
  DeleteObject(got);
}

}  // namespace
