// DrawEdge, DrawFocusRect, DrawFrameControl, icons, image lists and paths.
#include <cstring>

#include "platform/classes/Streams.h"
#include "platform/win/ImageList.h"
#include "tests/platform/win/GdiFixture.h"

namespace {

using namespace gditest;

TEST(GdiDrawEdge, RaisedAndSunkenLayout) {
  const COLORREF light = GetSysColor(COLOR_3DLIGHT), dark = GetSysColor(COLOR_3DDKSHADOW),
                 hi = GetSysColor(COLOR_BTNHIGHLIGHT), sh = GetSysColor(COLOR_BTNSHADOW);
  TCanvas c(6, 6, Red);
  RECT r{0, 0, 6, 6};
  DrawEdge(c.DC, &r, EDGE_RAISED, BF_RECT | BF_ADJUST);
  EXPECT_EQ(r, (RECT{2, 2, 4, 4}));
  // outer ring: light top-left, dark bottom-right (the corners of the far
  // sides belong to the dark colour); inner ring: highlight and shadow
  EXPECT_EQ(c.At(0, 0), light);
  EXPECT_EQ(c.At(4, 0), light);
  EXPECT_EQ(c.At(5, 0), dark);
  EXPECT_EQ(c.At(0, 5), dark);
  EXPECT_EQ(c.At(5, 5), dark);
  EXPECT_EQ(c.At(1, 1), hi);
  EXPECT_EQ(c.At(4, 1), sh);
  EXPECT_EQ(c.At(1, 4), sh);
  EXPECT_EQ(c.At(2, 2), Red);  // no BF_MIDDLE
  TCanvas s(4, 4, Red);
  RECT q{0, 0, 4, 4};
  DrawEdge(s.DC, &q, EDGE_SUNKEN, BF_RECT | BF_MIDDLE);
  EXPECT_EQ(q, (RECT{0, 0, 4, 4}));
  EXPECT_EQ(s.At(0, 0), sh);
  EXPECT_EQ(s.At(3, 3), hi);
  EXPECT_EQ(s.At(1, 1), dark);
  EXPECT_EQ(s.At(2, 2), light);
  // BF_MIDDLE leaves no room here: the interior is empty
  TCanvas m(5, 5, Red);
  RECT mr{0, 0, 5, 5};
  DrawEdge(m.DC, &mr, EDGE_SUNKEN, BF_RECT | BF_MIDDLE);
  EXPECT_EQ(m.At(2, 2), GetSysColor(COLOR_BTNFACE));
}

TEST(GdiDrawEdge, SingleSidesFlatAndMono) {
  TCanvas c(4, 3, Red);
  RECT r{0, 0, 4, 3};
  DrawEdge(c.DC, &r, BDR_SUNKENOUTER, BF_BOTTOM | BF_ADJUST);
  EXPECT_EQ(r, (RECT{0, 0, 4, 2}));
  EXPECT_EQ(c.Pattern(GetSysColor(COLOR_BTNHIGHLIGHT)), "....\n....\n####\n");
  TCanvas f(3, 3, Red);
  RECT fr{0, 0, 3, 3};
  DrawEdge(f.DC, &fr, EDGE_RAISED, BF_RECT | BF_FLAT);
  EXPECT_EQ(f.At(0, 0), GetSysColor(COLOR_BTNSHADOW));
  EXPECT_EQ(f.At(2, 2), GetSysColor(COLOR_BTNSHADOW));
  TCanvas m(3, 3, Red);
  RECT mr{0, 0, 3, 3};
  DrawEdge(m.DC, &mr, EDGE_RAISED, BF_RECT | BF_MONO);
  EXPECT_EQ(m.At(0, 0), GetSysColor(COLOR_WINDOWFRAME));
  EXPECT_EQ(m.At(1, 1), GetSysColor(COLOR_WINDOW));  // the mono inner ring
}

TEST(GdiFocusRect, DottedXorTwiceRestores) {
  TCanvas c(6, 4);
  RECT r{0, 0, 6, 4};
  DrawFocusRect(c.DC, &r);
  EXPECT_EQ(c.Pattern(Black), "#.#.#.\n.....#\n#.....\n.#.#.#\n");
  DrawFocusRect(c.DC, &r);
  EXPECT_EQ(c.Count(White), 24);
}

TEST(GdiFrameControl, CheckBoxGlyph) {
  TCanvas c(13, 13, Red);
  RECT r{0, 0, 13, 13};
  DrawFrameControl(c.DC, &r, DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_CHECKED);
  EXPECT_EQ(c.At(0, 0), GetSysColor(COLOR_BTNSHADOW));
  EXPECT_EQ(c.At(12, 12), GetSysColor(COLOR_BTNHIGHLIGHT));
  int ink = 0;  // the 7 x 7 check mark centred in the 9 x 9 interior
  for (int y = 2; y < 11; ++y)
    for (int x = 2; x < 11; ++x) ink += c.At(x, y) == GetSysColor(COLOR_WINDOWTEXT);
  EXPECT_EQ(ink, 21);
  EXPECT_EQ(c.At(9, 3), Black);  // the check's top-right pixel
  // unchecked: the interior is the window colour
  TCanvas u(13, 13, Red);
  DrawFrameControl(u.DC, &r, DFC_BUTTON, DFCS_BUTTONCHECK);
  EXPECT_EQ(u.At(6, 6), GetSysColor(COLOR_WINDOW));
  TCanvas g(13, 13, Red);
  DrawFrameControl(g.DC, &r, DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_CHECKED | DFCS_INACTIVE);
  EXPECT_EQ(g.At(3, 3), GetSysColor(COLOR_BTNFACE));
  EXPECT_GT(g.Count(GetSysColor(COLOR_GRAYTEXT)), 10);
}

TEST(GdiFrameControl, CheckBoxesBitmapCellsDifferOnlyByTheMark) {
  HBITMAP bm = CreateCheckBoxesBitmap();
  BITMAP info{};
  GetObjectW(bm, sizeof(info), &info);
  EXPECT_EQ(info.bmWidth, 4 * 13);
  EXPECT_EQ(info.bmHeight, 3 * 13);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, bm);
  // the pixels where the first two cells differ are the check mark
  int differ = 0;
  for (int y = 0; y < 13; ++y)
    for (int x = 0; x < 13; ++x) differ += GetPixel(dc, x, y) != GetPixel(dc, 13 + x, y);
  EXPECT_EQ(differ, 21);
  SelectObject(dc, old);
  DeleteDC(dc);
  DeleteObject(bm);
}

TEST(GdiFrameControl, ScrollArrowIsCentredAndShiftsWhenPushed) {
  TCanvas a(17, 17), p(17, 17);
  RECT r{0, 0, 17, 17};
  DrawFrameControl(a.DC, &r, DFC_SCROLL, DFCS_SCROLLDOWN);
  DrawFrameControl(p.DC, &r, DFC_SCROLL, DFCS_SCROLLDOWN | DFCS_PUSHED);
  int ax = 0, ay = 0, n = 0, px = 0, py = 0, m = 0;
  for (int y = 2; y < 15; ++y)
    for (int x = 2; x < 15; ++x) {
      if (a.At(x, y) == Black) ax += x, ay += y, ++n;
      if (p.At(x, y) == Black) px += x, py += y, ++m;
    }
  ASSERT_GT(n, 0);
  ASSERT_EQ(n, m);
  EXPECT_EQ(ax / n, 8);
  EXPECT_EQ(px - ax, n);  // one pixel right
  EXPECT_EQ(py - ay, n);  // and one down
}

TEST(GdiIcons, MaskAndColourDrawing) {
  TCanvas dst(4, 1, Blue);
  HBITMAP color = MakeDib(4, 1);
  HDC mem = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(mem, color);
  RECT all{0, 0, 4, 1};
  HBRUSH red = CreateSolidBrush(Red);
  FillRect(mem, &all, red);
  SetPixel(mem, 1, 0, Black);  // under the transparent mask pixel
  SelectObject(mem, old);
  const WORD maskRow[1] = {0x0040};  // pixel 1 transparent
  HBITMAP mask = CreateBitmap(4, 1, 1, 1, maskRow);
  ICONINFO ii{TRUE, 0, 0, mask, color};
  HICON icon = CreateIconIndirect(&ii);
  ASSERT_NE(icon, nullptr);
  EXPECT_TRUE(DrawIconEx(dst.DC, 0, 0, icon, 0, 0, 0, nullptr, DI_NORMAL));
  EXPECT_EQ(dst.Pattern(Red), "#.##\n");
  EXPECT_EQ(dst.At(1, 0), Blue);
  ICONINFO back{};
  ASSERT_TRUE(GetIconInfo(icon, &back));
  BITMAP bm{};
  GetObjectW(back.hbmMask, sizeof(bm), &bm);
  EXPECT_EQ(bm.bmBitsPixel, 1);
  EXPECT_EQ(GetObjectType(icon), 0u);  // icons are not GDI objects
  DeleteObject(back.hbmMask);
  DeleteObject(back.hbmColor);
  HICON copy = CopyIcon(icon);
  EXPECT_TRUE(DestroyIcon(icon));
  EXPECT_FALSE(DestroyIcon(icon));
  EXPECT_TRUE(DestroyIcon(copy));
  DeleteObject(mask);
  DeleteObject(color);
  DeleteObject(red);
  DeleteDC(mem);
}

// A strip of n images of 2 x 2, image k filled with colour k + 1 and its
// top-left pixel magenta.
HBITMAP Strip(int n) {
  void* bits = nullptr;
  HBITMAP bm = MakeDib(2 * n, 2, 32, &bits);
  auto* px = static_cast<uint32_t*>(bits);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 2 * n; ++x) px[y * 2 * n + x] = uint32_t(x / 2 + 1) * 0x10;
  for (int k = 0; k < n; ++k) px[2 * k] = 0x00FF00FF;
  return bm;
}

TEST(GdiImageLists, AddMaskedDrawTransparentAndNormal) {
  HIMAGELIST il = ImageList_Create(2, 2, ILC_COLOR32 | ILC_MASK, 4, 4);
  HBITMAP strip = Strip(3);
  EXPECT_EQ(ImageList_AddMasked(il, strip, RGB(255, 0, 255)), 0);
  EXPECT_EQ(ImageList_GetImageCount(il), 3);
  TCanvas c(2, 2, Red);
  EXPECT_TRUE(ImageList_Draw(il, 1, c.DC, 0, 0, ILD_TRANSPARENT));
  EXPECT_EQ(c.At(0, 0), Red);  // the masked colour is transparent
  EXPECT_EQ(c.Raw(1, 1), 0x20u);
  ImageList_SetBkColor(il, Blue);
  ImageList_Draw(il, 1, c.DC, 0, 0, ILD_NORMAL);
  EXPECT_EQ(c.At(0, 0), Blue);  // a background colour fills the transparent part
  ImageList_Draw(il, 1, c.DC, 0, 0, ILD_MASK);
  EXPECT_EQ(c.At(0, 0), White);
  EXPECT_EQ(c.At(1, 1), Black);
  ImageList_SetBkColor(il, CLR_NONE);
  c.Fill(Black);
  ImageList_DrawEx(il, 2, c.DC, 0, 0, 0, 0, CLR_NONE, RGB(0, 0, 255), ILD_BLEND50);
  EXPECT_EQ(c.At(1, 1), RGB(0, 0, (0x30 * 127 + 255 * 128 + 127) / 255));
  IMAGEINFO info{};
  ASSERT_TRUE(ImageList_GetImageInfo(il, 2, &info));
  EXPECT_EQ(info.rcImage, (RECT{4, 0, 6, 2}));
  EXPECT_NE(info.hbmMask, nullptr);
  EXPECT_FALSE(ImageList_GetImageInfo(il, 3, &info));
  DeleteObject(strip);
  ImageList_Destroy(il);
}

TEST(GdiImageLists, RemoveReplaceSwapAndSize) {
  HIMAGELIST il = ImageList_Create(2, 2, ILC_COLOR32 | ILC_MASK, 0, 1);
  HBITMAP strip = Strip(3);
  ImageList_Add(il, strip, nullptr);
  EXPECT_TRUE(ImageList_Copy(il, 0, il, 2, ILCF_SWAP));
  TCanvas c(2, 2);
  ImageList_Draw(il, 0, c.DC, 0, 0, ILD_NORMAL);
  EXPECT_EQ(c.Raw(1, 1), 0x30u);
  EXPECT_TRUE(ImageList_Remove(il, 1));
  EXPECT_EQ(ImageList_GetImageCount(il), 2);
  EXPECT_FALSE(ImageList_Remove(il, 5));
  EXPECT_TRUE(ImageList_Replace(il, 1, strip, nullptr));
  ImageList_Draw(il, 1, c.DC, 0, 0, ILD_NORMAL);
  EXPECT_EQ(c.Raw(1, 1), 0x10u);
  int cx = 0, cy = 0;
  ImageList_GetIconSize(il, &cx, &cy);
  EXPECT_EQ(cx, 2);
  EXPECT_TRUE(ImageList_SetIconSize(il, 4, 4));
  EXPECT_EQ(ImageList_GetImageCount(il), 0);
  EXPECT_TRUE(ImageList_Remove(il, -1));
  DeleteObject(strip);
  ImageList_Destroy(il);
}

TEST(GdiImageLists, WriteAndReadBack) {
  HIMAGELIST il = ImageList_Create(2, 2, ILC_COLOR32 | ILC_MASK, 4, 4);
  HBITMAP strip = Strip(2);
  ImageList_AddMasked(il, strip, RGB(255, 0, 255));
  TMemoryStream* s = New<TMemoryStream>();
  ASSERT_TRUE(ImageList_Write(il, s));
  s->SetPosition(0);
  HIMAGELIST back = ImageList_Read(s);
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(ImageList_GetImageCount(back), 2);
  TCanvas a(2, 2, Red), b(2, 2, Red);
  ImageList_Draw(il, 1, a.DC, 0, 0, ILD_TRANSPARENT);
  ImageList_Draw(back, 1, b.DC, 0, 0, ILD_TRANSPARENT);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(a.Bits[i], b.Bits[i]);
  // equal lists write equal bytes
  TMemoryStream* s2 = New<TMemoryStream>();
  ImageList_Write(back, s2);
  ASSERT_EQ(s->Size(), s2->Size());
  EXPECT_EQ(std::memcmp(s->Memory(), s2->Memory(), size_t(s->Size())), 0);
  // a truncated stream gives no list
  s->SetSize(s->Size() - 5);
  s->SetPosition(0);
  EXPECT_EQ(ImageList_Read(s), nullptr);
  Free(s);
  Free(s2);
  DeleteObject(strip);
  ImageList_Destroy(il);
  ImageList_Destroy(back);
}

TEST(GdiPaths, FillStrokeAndRegion) {
  TCanvas c(8, 8);
  BeginPath(c.DC);
  MoveToEx(c.DC, 1, 1, nullptr);
  LineTo(c.DC, 6, 1);
  LineTo(c.DC, 6, 6);
  LineTo(c.DC, 1, 6);
  CloseFigure(c.DC);
  EndPath(c.DC);
  EXPECT_EQ(c.Count(Black), 0);  // nothing drawn while recording
  HRGN r = PathToRegion(c.DC);
  RECT box{};
  GetRgnBox(r, &box);
  EXPECT_EQ(box, (RECT{1, 1, 6, 6}));
  EXPECT_EQ(PathToRegion(c.DC), nullptr);  // the path was consumed
  DeleteObject(r);
  BeginPath(c.DC);
  Rectangle(c.DC, 2, 2, 5, 5);
  EndPath(c.DC);
  SelectObject(c.DC, GetStockObject(BLACK_BRUSH));
  EXPECT_TRUE(FillPath(c.DC));
  EXPECT_EQ(c.Pattern(Black, 0, 0, 6, 6), "......\n......\n..##..\n..##..\n......\n......\n");
  BeginPath(c.DC);
  MoveToEx(c.DC, 0, 7, nullptr);
  LineTo(c.DC, 8, 7);
  EndPath(c.DC);
  EXPECT_TRUE(StrokePath(c.DC));
  EXPECT_EQ(c.Pattern(Black, 0, 7, 8, 1), "########\n");
  SelectObject(c.DC, GetStockObject(WHITE_BRUSH));
}

}  // namespace
