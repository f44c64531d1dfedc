// Image-list dragging: the drag image shown over the screen in a window of
// its own, placed by the hot spot relative to the lock window, hidden and
// shown, combined with a cursor image, and gone after the drag.
#include "WindowsFixture.h"
#include "platform/win/ImageList.h"

using namespace win;
using namespace wintest;

namespace {

constexpr COLORREF White = RGB(255, 255, 255), Red = RGB(255, 0, 0), Blue = RGB(0, 0, 255);

// A list of w x h images, each one filled with its colour; with a mask, the
// pixel (0, 0) of every image is transparent.
HIMAGELIST MakeList(int w, int h, std::initializer_list<uint32_t> colors, UINT flags = ILC_COLOR32 | ILC_MASK) {
  HIMAGELIST il = ImageList_Create(w, h, flags, 4, 4);
  for (uint32_t c : colors) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bm = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    std::fill(static_cast<uint32_t*>(bits), static_cast<uint32_t*>(bits) + w * h, c);
    HBITMAP mask = CreateBitmap(w, h, 1, 1, nullptr);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, mask);
    PatBlt(dc, 0, 0, w, h, BLACKNESS);
    SetPixel(dc, 0, 0, White);
    SelectObject(dc, old);
    DeleteDC(dc);
    ImageList_Add(il, bm, mask);
    DeleteObject(bm);
    DeleteObject(mask);
  }
  return il;
}

class ImageListDragTest : public WindowsFixture {
 protected:
  void TearDown() override {
    ImageList_EndDrag();
    WindowsFixture::TearDown();
  }
  COLORREF At(int x, int y) {
    Screen.Compose();
    return Screen.Pixel(x, y);
  }
};

TEST_F(ImageListDragTest, NothingAnswersWithoutADrag) {
  HIMAGELIST il = MakeList(8, 8, {0x00FF0000});
  EXPECT_FALSE(ImageList_DragEnter(nullptr, 1, 1));
  EXPECT_FALSE(ImageList_DragMove(1, 1));
  EXPECT_FALSE(ImageList_DragShowNolock(TRUE));
  EXPECT_FALSE(ImageList_DragLeave(nullptr));
  EXPECT_FALSE(ImageList_SetDragCursorImage(il, 0, 0, 0));
  EXPECT_EQ(ImageList_GetDragImage(nullptr, nullptr), nullptr);
  EXPECT_FALSE(ImageList_BeginDrag(il, 1, 0, 0));
  EXPECT_FALSE(ImageList_BeginDrag(il, -1, 0, 0));
  EXPECT_FALSE(ImageList_BeginDrag(nullptr, 0, 0, 0));
  ImageList_EndDrag();  // harmless
  ImageList_Destroy(il);
}

TEST_F(ImageListDragTest, ImageFollowsThePositionRelativeToTheLockWindow) {
  HWND w = Make("target", WS_POPUP | WS_VISIBLE, RECT{100, 80, 300, 240});
  Pump();
  HWND active = GetActiveWindow();
  HIMAGELIST il = MakeList(10, 6, {0x00FF0000, 0x000000FF});
  ASSERT_TRUE(ImageList_BeginDrag(il, 1, 3, 2));
  ImageList_Destroy(il);  // the drag keeps its own copy
  EXPECT_EQ(At(110, 90), White);  // nothing shown before DragEnter

  ASSERT_TRUE(ImageList_DragEnter(w, 20, 10));
  // the image's top-left is the lock window's corner + position - hot spot
  struct {
    int X, Y;
    COLORREF Want;
  } cases[] = {
      {117, 88, White},   // the masked pixel (0, 0) shows what is below
      {118, 88, Blue},    {126, 93, Blue},  // first row and last pixel
      {127, 93, White},   {126, 94, White},  // just outside
      {116, 88, White},
  };
  for (auto& c : cases) EXPECT_EQ(At(c.X, c.Y), c.Want) << c.X << "," << c.Y;
  // the drag window takes no activation and no mouse
  EXPECT_EQ(GetActiveWindow(), active);
  EXPECT_EQ(WindowFromPoint(POINT{120, 90}), w);

  POINT pos{}, hot{};
  HIMAGELIST drag = ImageList_GetDragImage(&pos, &hot);
  ASSERT_NE(drag, nullptr);
  EXPECT_EQ(ImageList_GetImageCount(drag), 1);
  EXPECT_EQ(pos.x, 20);
  EXPECT_EQ(pos.y, 10);
  EXPECT_EQ(hot.x, 3);
  EXPECT_EQ(hot.y, 2);

  ASSERT_TRUE(ImageList_DragMove(60, 50));
  EXPECT_EQ(At(118, 88), White);
  EXPECT_EQ(At(158, 128), Blue);
  // moving the lock window moves the coordinates with it
  SetWindowPos(w, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  Pump();
  ASSERT_TRUE(ImageList_DragMove(60, 50));
  EXPECT_EQ(At(58, 48), Blue);

  EXPECT_TRUE(ImageList_DragShowNolock(FALSE));
  EXPECT_EQ(At(58, 48), White);
  EXPECT_TRUE(ImageList_DragShowNolock(TRUE));
  EXPECT_EQ(At(58, 48), Blue);
  EXPECT_TRUE(ImageList_DragLeave(w));
  EXPECT_EQ(At(58, 48), White);
  EXPECT_TRUE(ImageList_DragEnter(nullptr, 5, 5));  // screen coordinates
  EXPECT_EQ(At(3, 3), Blue);
  ImageList_EndDrag();
  EXPECT_EQ(At(3, 3), White);
  EXPECT_FALSE(ImageList_DragMove(5, 5));
}

TEST_F(ImageListDragTest, AlphaImagesBlendOverTheScreen) {
  Make("below", WS_POPUP | WS_VISIBLE, RECT{0, 0, 100, 100});
  Pump();
  HIMAGELIST il = MakeList(4, 4, {0x80FF0000}, ILC_COLOR32);  // red at half alpha, no mask
  ASSERT_TRUE(ImageList_BeginDrag(il, 0, 0, 0));
  ASSERT_TRUE(ImageList_DragEnter(nullptr, 10, 10));
  COLORREF c = At(10, 10);
  EXPECT_EQ(GetRValue(c), 255);
  EXPECT_NEAR(GetGValue(c), 127, 1);
  EXPECT_NEAR(GetBValue(c), 127, 1);
  EXPECT_EQ(At(13, 13), c);  // no mask: every pixel drawn
  ImageList_EndDrag();
  ImageList_Destroy(il);
}

TEST_F(ImageListDragTest, CursorImageIsLaidOverAtTheHotSpot) {
  Make("below", WS_POPUP | WS_VISIBLE, RECT{0, 0, 200, 200});
  Pump();
  HIMAGELIST track = MakeList(10, 10, {0x000000FF});
  HIMAGELIST cursor = MakeList(4, 4, {0x00FF0000});
  ASSERT_TRUE(ImageList_BeginDrag(track, 0, 2, 2));
  ASSERT_TRUE(ImageList_DragEnter(nullptr, 50, 50));
  // cursor point (3, 3) on the drag hot spot: the picture grows up and left
  ASSERT_TRUE(ImageList_SetDragCursorImage(cursor, 0, 3, 3));
  POINT pos{}, hot{};
  HIMAGELIST drag = ImageList_GetDragImage(&pos, &hot);
  int cx = 0, cy = 0;
  ImageList_GetIconSize(drag, &cx, &cy);
  EXPECT_EQ(cx, 11);
  EXPECT_EQ(cy, 11);
  EXPECT_EQ(hot.x, 3);
  EXPECT_EQ(hot.y, 3);
  struct {
    int X, Y;
    COLORREF Want;
  } cases[] = {
      {47, 47, White},  // the cursor's own masked pixel
      {48, 47, Red},    {50, 50, Red},   // cursor image, drawn on top
      {51, 51, Blue},   {57, 57, Blue},  // the tracked image beyond it
      {48, 48, Red},    {49, 49, Red},
      {58, 58, White},
  };
  for (auto& c : cases) EXPECT_EQ(At(c.X, c.Y), c.Want) << c.X << "," << c.Y;
  // a second cursor image replaces the first: back to the tracked image's size
  ASSERT_TRUE(ImageList_SetDragCursorImage(cursor, 0, 0, 0));
  drag = ImageList_GetDragImage(&pos, &hot);
  ImageList_GetIconSize(drag, &cx, &cy);
  EXPECT_EQ(cx, 10);
  EXPECT_EQ(hot.x, 2);
  EXPECT_EQ(At(47, 47), White);
  EXPECT_EQ(At(49, 48), Blue);
  EXPECT_EQ(At(50, 50), Blue);  // the cursor's masked pixel shows the image below
  EXPECT_EQ(At(51, 51), Red);
  EXPECT_FALSE(ImageList_SetDragCursorImage(cursor, 7, 0, 0));
  ImageList_EndDrag();
  ImageList_Destroy(track);
  ImageList_Destroy(cursor);
}

}  // namespace
