// The feedback windows of dragging: the drag image's layered window, the
// size frame's ring region and the insertion arrow's geometry.
#include "lib/lookandfeel/vlDragImages.h"

#include <gtest/gtest.h>

#include "platform/vcl/Graphics.h"
#include "platform/win/Gdi.h"
#include "tests/lib/lookandfeel/ControlFixture.h"

using namespace win;
using controltest::ControlFixture;

namespace {

using DragImagesTest = ControlFixture;

TEST_F(DragImagesTest, DragImageIsAnAlphaWindowThatFollowsThePointer) {
  TvlDragImage* image = New<TvlDragImage>();
  image->Init(TRect{10, 10, 60, 30}, TPoint{15, 20});
  EXPECT_EQ(image->PositionOffset(), (TPoint{5, 10}));
  image->Canvas()->FillRect(TRect{0, 0, 50, 20}, clRed);
  image->MoveTo(TPoint{300, 300});
  image->SetVisible(true);
  Pump();
  EXPECT_TRUE(image->Visible());
  EXPECT_TRUE(image->AlphaBlended());
  EXPECT_NE(GetActiveWindow(), image->Handle());  // shown without activation
  RECT r{};
  GetWindowRect(image->Handle(), &r);
  EXPECT_EQ((TRect{r.left, r.top, r.right, r.bottom}), (TRect{295, 290, 345, 310}));
  BYTE alpha = 0;
  DWORD flags = 0;
  ASSERT_TRUE(GetLayeredWindowAttributes(image->Handle(), nullptr, &alpha, &flags));
  EXPECT_EQ(alpha, 180);
  EXPECT_EQ(SendMessageW(image->Handle(), WM_NCHITTEST, 0, MAKELPARAM(300, 300)), HTTRANSPARENT);
  // red at 180 of 255 over the white form
  Display.Compose();
  const COLORREF c = Display.Pixel(320, 300);
  EXPECT_EQ(GetRValue(c), 255);
  EXPECT_NEAR(GetGValue(c), 75, 2);
  image->Hide();
  EXPECT_FALSE(image->Visible());
  Free(image);
}

TEST_F(DragImagesTest, SizeFrameShowsOnlyItsRing) {
  TvlSizeFrame* frame = New<TvlSizeFrame>(Integer(3));
  frame->HandleNeeded();
  frame->DrawSizeFrame(TRect{200, 200, 260, 240});
  frame->SetVisible(true);
  Pump();
  HRGN rgn = CreateRectRgn(0, 0, 0, 0);
  ASSERT_NE(GetWindowRgn(frame->Handle(), rgn), ERROR);
  EXPECT_TRUE(PtInRegion(rgn, 1, 1));
  EXPECT_TRUE(PtInRegion(rgn, 58, 20));
  EXPECT_FALSE(PtInRegion(rgn, 3, 3));
  EXPECT_FALSE(PtInRegion(rgn, 30, 20));
  // a frame too thin for its ring keeps the region it had
  frame->DrawSizeFrame(TRect{200, 200, 205, 240});
  HRGN after = CreateRectRgn(0, 0, 0, 0);
  GetWindowRgn(frame->Handle(), after);
  EXPECT_TRUE(EqualRgn(rgn, after));
  DeleteObject(rgn);
  DeleteObject(after);
  // the hatch: neighbouring pixels of the ring differ
  frame->DrawSizeFrame(TRect{200, 200, 260, 240});
  Pump();
  Display.Compose();
  EXPECT_NE(Display.Pixel(200, 200), Display.Pixel(201, 200));
  EXPECT_EQ(Display.Pixel(230, 220), Display.Pixel(231, 220));  // the desktop through the hole
  Free(frame);
}

TEST(DragAndDropArrow, BoundsAndPolygon) {
  struct Case {
    TvlArrowPlace Place;
    TRect Expected;
  };
  const TRect area{20, 30, 80, 50}, client{0, 0, 200, 100};
  const Case cases[] = {{apLeft, {11, 25, 20, 36}},
                        {apRight, {80, 25, 89, 36}},
                        {apTop, {15, 21, 26, 30}},
                        {apBottom, {15, 50, 26, 59}}};
  for (const Case& c : cases) EXPECT_EQ(vlGetDragAndDropArrowBounds(area, client, c.Place), c.Expected);
  // an edge outside the client rectangle is drawn at the nearest pixel inside
  EXPECT_EQ(vlGetDragAndDropArrowBounds(TRect{-10, 30, 250, 50}, client, apRight), (TRect{199, 25, 208, 36}));
  EXPECT_EQ(vlGetDragAndDropArrowBounds(TRect{-10, 30, 250, 50}, TRect{}, apLeft), (TRect{-19, 25, -10, 36}));
  const std::vector<TPoint> down = vlGetDragAndDropArrowPoints(TRect{0, 0, 11, 9}, apTop, false);
  ASSERT_EQ(down.size(), 7u);
  EXPECT_EQ(down[4], (TPoint{5, 8}));  // the tip, centred at the bottom
  const std::vector<TPoint> region = vlGetDragAndDropArrowPoints(TRect{0, 0, 9, 11}, apLeft, true);
  EXPECT_EQ(region[0], (TPoint{3, -1}));
  EXPECT_EQ(region[6], (TPoint{9, 5}));
}

TEST_F(DragImagesTest, ArrowWindowIsColourKeyed) {
  TvlDragAndDropArrow* arrow = New<TvlDragAndDropArrow>(Boolean(true));
  ASSERT_TRUE(arrow->Transparent());
  arrow->Init(Form, TRect{50, 50, 150, 70}, apTop, Form->ClientRect());
  arrow->SetVisible(true);
  Pump();
  RECT r{};
  GetWindowRect(arrow->Handle(), &r);
  EXPECT_EQ((TRect{r.left, r.top, r.right, r.bottom}), (TRect{145, 141, 156, 150}));
  COLORREF key = 0;
  DWORD flags = 0;
  ASSERT_TRUE(GetLayeredWindowAttributes(arrow->Handle(), &key, nullptr, &flags));
  EXPECT_EQ(key, RGB(255, 0, 255));
  Display.Compose();
  EXPECT_EQ(Display.Pixel(150, 146), RGB(0, 255, 0));  // inside the arrow: lime
  EXPECT_NE(Display.Pixel(145, 149), RGB(255, 0, 255));  // the key colour never shows
  Free(arrow);
}

}  // namespace
