// The image loaders: system bitmaps and icons, bitmap resources with the
// LR_ flags, BMP files, icon and cursor resources (.ico/.cur files) with size
// choice, shared handles and reloading, CopyImage, ImageList_LoadImage, and
// damaged data loading nothing.
#include <cstring>
#include <fstream>

#include "platform/classes/Resources.h"
#include "platform/rtl/CodePages.h"
#include "platform/win/ImageCodecs.h"
#include "platform/win/ImageList.h"
#include "platform/win/Windows.h"
#include "tests/platform/win/GdiFixture.h"
#include "tests/support/TestSupport.h"

namespace {

using namespace gditest;

HINSTANCE Program() { return static_cast<HINSTANCE>(const_cast<void*>(::HInstance)); }

void Put16(std::vector<uint8_t>& v, uint32_t x) {
  v.push_back(uint8_t(x));
  v.push_back(uint8_t(x >> 8));
}
void Put32(std::vector<uint8_t>& v, uint32_t x) {
  Put16(v, x & 0xFFFF);
  Put16(v, x >> 16);
}
void PutInfoHeader(std::vector<uint8_t>& v, int w, int h, int bpp, int colors) {
  Put32(v, 40);
  Put32(v, uint32_t(w));
  Put32(v, uint32_t(h));
  Put16(v, 1);
  Put16(v, uint32_t(bpp));
  Put32(v, 0);
  Put32(v, 0);
  Put32(v, 0);
  Put32(v, 0);
  Put32(v, uint32_t(colors));
  Put32(v, 0);
}

// A 4-bit packed DIB, 4 x 2, bottom-up. Table: 0 grey 128, 1 grey 192,
// 2 grey 223, 3 red, 4 grey 100. Bottom row (first in the bits): 3 0 1 2;
// top row: 4 4 3 3.
std::vector<uint8_t> PaletteDib() {
  std::vector<uint8_t> v;
  PutInfoHeader(v, 4, 2, 4, 5);
  const uint8_t table[5][4] = {{128, 128, 128, 0}, {192, 192, 192, 0}, {223, 223, 223, 0}, {0, 0, 255, 0},
                               {100, 100, 100, 0}};
  for (auto& q : table) v.insert(v.end(), q, q + 4);
  const uint8_t rows[2][4] = {{0x30, 0x12, 0, 0}, {0x44, 0x33, 0, 0}};
  for (auto& r : rows) v.insert(v.end(), r, r + 4);
  return v;
}

// One image of an icon or cursor file: 1 bit (black with a white pixel at
// (1, 0)) or 32 bits in one colour; the AND mask makes the rows from
// `opaqueRows` down transparent.
struct TImageSpec {
  int W, H, Bpp;
  uint32_t Color;  // 32-bit images
  int OpaqueRows;
};

std::vector<uint8_t> IconImage(const TImageSpec& s) {
  std::vector<uint8_t> v;
  PutInfoHeader(v, s.W, 2 * s.H, s.Bpp, s.Bpp == 1 ? 2 : 0);
  if (s.Bpp == 1) {
    Put32(v, 0);
    Put32(v, 0x00FFFFFF);
  }
  size_t xorStride = size_t(((s.W * s.Bpp + 31) / 32) * 4), andStride = size_t(((s.W + 31) / 32) * 4);
  for (int y = s.H - 1; y >= 0; --y) {  // bottom-up
    std::vector<uint8_t> row(xorStride, 0);
    if (s.Bpp == 32)
      for (int x = 0; x < s.W; ++x) std::memcpy(&row[size_t(x) * 4], &s.Color, 4);
    else if (y == 0)
      row[0] = 0x40;  // pixel (1, 0) white
    v.insert(v.end(), row.begin(), row.end());
  }
  for (int y = s.H - 1; y >= 0; --y) {
    std::vector<uint8_t> row(andStride, y >= s.OpaqueRows ? 0xFF : 0x00);
    v.insert(v.end(), row.begin(), row.end());
  }
  return v;
}

// An .ico (type 1) or .cur (type 2) file of the images; cursors get the hot
// spot (5, 7).
std::vector<uint8_t> IconFile(int type, std::initializer_list<TImageSpec> images) {
  std::vector<uint8_t> out;
  Put16(out, 0);
  Put16(out, uint32_t(type));
  Put16(out, uint32_t(images.size()));
  std::vector<std::vector<uint8_t>> data;
  for (auto& s : images) data.push_back(IconImage(s));
  size_t offset = 6 + 16 * images.size();
  size_t i = 0;
  for (auto& s : images) {
    out.push_back(uint8_t(s.W));
    out.push_back(uint8_t(s.H));
    out.push_back(0);
    out.push_back(0);
    Put16(out, type == 2 ? 5 : 1);
    Put16(out, type == 2 ? 7 : uint32_t(s.Bpp));
    Put32(out, uint32_t(data[i].size()));
    Put32(out, uint32_t(offset));
    offset += data[i].size();
    ++i;
  }
  for (auto& d : data) out.insert(out.end(), d.begin(), d.end());
  return out;
}

// Registers the test resources for the life of the fixture.
class GdiResources : public ::testing::Test {
 protected:
  void SetUp() override {
    Dib = PaletteDib();
    Cursor = IconFile(2, {{32, 32, 1, 0, 20}});
    Icon = IconFile(1, {{32, 32, 32, 0xFF0000FF, 32}, {16, 16, 32, 0xFFFF0000, 16}});
    // three 8 x 8 images on olive: red, green, blue squares of 4 x 4 at the
    // bottom right
    Strip.clear();
    PutInfoHeader(Strip, 24, 8, 32, 0);
    for (int y = 7; y >= 0; --y)
      for (int x = 0; x < 24; ++x) {
        uint32_t c = 0x00808000;  // olive
        if (x % 8 >= 4 && y >= 4) c = x < 8 ? 0x00FF0000 : x < 16 ? 0x0000FF00 : 0x000000FF;
        Put32(Strip, c);
      }
    Entries = {
        {nullptr, 2, u"TESTDIB", 0, Dib.data(), Dib.size()},
        {nullptr, 2, nullptr, 321, Dib.data(), Dib.size()},
        {nullptr, 2, u"TESTSTRIP", 0, Strip.data(), Strip.size()},
        {nullptr, 12, u"TESTCURSOR", 0, Cursor.data(), Cursor.size()},
        {nullptr, 14, u"TESTICON", 0, Icon.data(), Icon.size()},
    };
    RegisterResources(Entries.data(), Entries.size());
  }
  void TearDown() override { UnregisterResources(Entries.data(), Entries.size()); }

  std::vector<uint8_t> Dib, Cursor, Icon, Strip;
  std::vector<TResourceEntry> Entries;
};

// The colour of a bitmap's pixel (top = 0).
COLORREF PixelOf(HBITMAP bm, int x, int y) {
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, bm);
  COLORREF c = GetPixel(dc, x, y);
  SelectObject(dc, old);
  DeleteDC(dc);
  return c;
}

// An icon drawn on grey: the colour at (x, y).
COLORREF IconPixel(HICON icon, int x, int y, int size = 32) {
  TCanvas c(size, size, RGB(50, 60, 70));
  DrawIconEx(c.DC, 0, 0, icon, 0, 0, 0, nullptr, DI_NORMAL);
  return c.At(x, y);
}

const COLORREF Grey = RGB(50, 60, 70);

TEST_F(GdiResources, SystemCheckBoxesBitmapAndIcons) {
  HBITMAP boxes = LoadBitmapW(nullptr, MAKEINTRESOURCEW(OBM_CHECKBOXES));
  ASSERT_NE(boxes, nullptr);
  HBITMAP direct = CreateCheckBoxesBitmap();
  BITMAP bm{};
  GetObjectW(boxes, sizeof bm, &bm);
  EXPECT_EQ(bm.bmWidth, 52);
  EXPECT_EQ(bm.bmHeight, 39);
  for (int y = 0; y < 39; y += 3)
    for (int x = 0; x < 52; x += 2) ASSERT_EQ(PixelOf(boxes, x, y), PixelOf(direct, x, y)) << x << "," << y;
  DeleteObject(boxes);
  DeleteObject(direct);
  EXPECT_EQ(LoadBitmapW(nullptr, MAKEINTRESOURCEW(32760)), nullptr);
  EXPECT_EQ(LoadBitmapW(nullptr, u"TESTDIB"), nullptr);  // the system has no such bitmap

  struct {
    LPCWSTR Id;
    int X, Y;
    COLORREF Fill;
  } icons[] = {
      {IDI_HAND, 16, 4, RGB(204, 0, 0)},
      {IDI_QUESTION, 16, 28, RGB(0, 102, 204)},
      {IDI_WARNING, 8, 27, RGB(255, 204, 0)},
      {IDI_ASTERISK, 16, 28, RGB(0, 102, 204)},
  };
  for (auto& k : icons) {
    auto icon = static_cast<HICON>(LoadImageW(nullptr, k.Id, IMAGE_ICON, 0, 0, LR_DEFAULTSIZE | LR_SHARED));
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(LoadImageW(nullptr, k.Id, IMAGE_ICON, 0, 0, LR_DEFAULTSIZE | LR_SHARED), icon);
    ICONINFO ii{};
    ASSERT_TRUE(GetIconInfo(icon, &ii));
    GetObjectW(ii.hbmMask, sizeof bm, &bm);
    EXPECT_EQ(bm.bmWidth, 32);
    EXPECT_EQ(bm.bmHeight, 32);
    DeleteObject(ii.hbmMask);
    DeleteObject(ii.hbmColor);
    EXPECT_EQ(IconPixel(icon, k.X, k.Y), k.Fill) << uintptr_t(k.Id);
    EXPECT_EQ(IconPixel(icon, 0, 0), Grey);  // the corner is transparent
    EXPECT_NE(IconPixel(icon, 16, 16), Grey);
    EXPECT_TRUE(DestroyIcon(icon));  // a shared icon stays valid
    EXPECT_EQ(IconPixel(icon, k.X, k.Y), k.Fill);
  }
  // the four are different pictures; unknown ids load nothing
  EXPECT_NE(IconPixel(static_cast<HICON>(LoadImageW(nullptr, IDI_QUESTION, IMAGE_ICON, 0, 0, LR_SHARED)), 16, 9),
            IconPixel(static_cast<HICON>(LoadImageW(nullptr, IDI_ASTERISK, IMAGE_ICON, 0, 0, LR_SHARED)), 16, 9));
  EXPECT_EQ(LoadImageW(nullptr, MAKEINTRESOURCEW(32600), IMAGE_ICON, 0, 0, LR_SHARED), nullptr);
  EXPECT_EQ(LoadImageW(nullptr, IDC_ARROW, IMAGE_CURSOR, 0, 0, LR_SHARED), LoadCursorW(nullptr, IDC_ARROW));
}

TEST_F(GdiResources, BitmapFlagsMapTheColourTableAndChooseTheFormat) {
  const COLORREF shadow = GetSysColor(COLOR_3DSHADOW), face = GetSysColor(COLOR_3DFACE),
                 light = GetSysColor(COLOR_3DLIGHT), window = GetSysColor(COLOR_WINDOW);
  const COLORREF g128 = RGB(128, 128, 128), g192 = RGB(192, 192, 192), g223 = RGB(223, 223, 223),
                 red = RGB(255, 0, 0), g100 = RGB(100, 100, 100);
  // pixels of the bottom row (3 0 1 2) and the first of the top row (4)
  struct {
    const char* What;
    UINT Flags;
    int Bpp;
    bool Dib;
    COLORREF Row[4];
    COLORREF Top;
  } cases[] = {
      {"device bitmap", 0, 32, false, {red, g128, g192, g223}, g100},
      {"DIB section in the file's format", LR_CREATEDIBSECTION, 4, true, {red, g128, g192, g223}, g100},
      {"3-D colours", LR_CREATEDIBSECTION | LR_LOADMAP3DCOLORS, 4, true, {red, shadow, face, light}, g100},
      {"transparent: the first pixel's entry", LR_LOADTRANSPARENT, 32, false, {window, g128, g192, g223}, g100},
      {"transparent with 3-D colours", LR_LOADTRANSPARENT | LR_LOADMAP3DCOLORS, 32, false,
       {face, shadow, face, light}, g100},
      // by intensity: R + G + B of 384 and more is white
      {"monochrome", LR_MONOCHROME, 1, false,
       {RGB(0, 0, 0), RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255)}, RGB(0, 0, 0)},
      {"monochrome DIB section", LR_MONOCHROME | LR_CREATEDIBSECTION, 1, true,
       {RGB(0, 0, 0), RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255)}, RGB(0, 0, 0)},
  };
  for (auto& k : cases) {
    auto bm = static_cast<HBITMAP>(LoadImageW(Program(), u"TESTDIB", IMAGE_BITMAP, 0, 0, k.Flags));
    ASSERT_NE(bm, nullptr) << k.What;
    DIBSECTION ds{};
    int got = GetObjectW(bm, sizeof ds, &ds);
    EXPECT_EQ(got == int(sizeof ds), k.Dib) << k.What;
    EXPECT_EQ(ds.dsBm.bmBitsPixel, k.Bpp) << k.What;
    for (int x = 0; x < 4; ++x) EXPECT_EQ(PixelOf(bm, x, 1), k.Row[x]) << k.What << " x " << x;
    EXPECT_EQ(PixelOf(bm, 0, 0), k.Top) << k.What;
    DeleteObject(bm);
  }
  // by identifier, through LoadBitmapW, and stretched
  HBITMAP byId = LoadBitmapW(Program(), MAKEINTRESOURCEW(321));
  ASSERT_NE(byId, nullptr);
  EXPECT_EQ(PixelOf(byId, 0, 1), red);
  DeleteObject(byId);
  auto big = static_cast<HBITMAP>(LoadImageW(Program(), u"testdib", IMAGE_BITMAP, 8, 6, 0));
  ASSERT_NE(big, nullptr);
  BITMAP b{};
  GetObjectW(big, sizeof b, &b);
  EXPECT_EQ(b.bmWidth, 8);
  EXPECT_EQ(b.bmHeight, 6);
  EXPECT_EQ(PixelOf(big, 1, 5), red);
  EXPECT_EQ(PixelOf(big, 7, 5), g223);
  EXPECT_EQ(PixelOf(big, 0, 0), g100);
  DeleteObject(big);
  EXPECT_EQ(LoadImageW(Program(), u"NOSUCHBITMAP", IMAGE_BITMAP, 0, 0, 0), nullptr);
  EXPECT_EQ(LoadImageW(Program(), u"TESTDIB", 7, 0, 0, 0), nullptr);
}

TEST_F(GdiResources, BitmapFilesLoadAndBadFilesLoadNothing) {
  std::string dir = testing_support::MakeTempDir("gdires");
  HBITMAP src = ReadPackedDib(Dib.data(), Dib.size());
  std::vector<uint8_t> bmp = WriteBmpFile(src);
  DeleteObject(src);
  struct {
    const char* Name;
    size_t Keep;  // bytes of the good file written; 0: all
    bool Loads;
  } files[] = {{"good.bmp", 0, true}, {"cut.bmp", 60, false}, {"empty.bmp", 1, false}};
  for (auto& f : files) {
    std::ofstream(dir + "/" + f.Name, std::ios::binary)
        .write(reinterpret_cast<const char*>(bmp.data()), std::streamsize(f.Keep ? f.Keep : bmp.size()));
    String path = UTF8ToUTF16(dir + "/" + f.Name);
    auto bm = static_cast<HBITMAP>(LoadImageW(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0,
                                              LR_LOADFROMFILE | LR_CREATEDIBSECTION | LR_LOADMAP3DCOLORS));
    EXPECT_EQ(bm != nullptr, f.Loads) << f.Name;
    if (!bm) continue;
    EXPECT_EQ(PixelOf(bm, 1, 1), GetSysColor(COLOR_3DSHADOW));
    DeleteObject(bm);
  }
  String missing = UTF8ToUTF16(dir + "/missing.bmp");
  EXPECT_EQ(LoadImageW(nullptr, missing.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE), nullptr);
}

TEST_F(GdiResources, CursorResourceKeepsItsHotSpotAndMask) {
  auto cur = static_cast<HCURSOR>(LoadImageW(Program(), u"TESTCURSOR", IMAGE_CURSOR, 0, 0, LR_DEFAULTSIZE | LR_SHARED));
  ASSERT_NE(cur, nullptr);
  EXPECT_EQ(LoadImageW(Program(), u"TESTCURSOR", IMAGE_CURSOR, 0, 0, LR_DEFAULTSIZE | LR_SHARED), cur);
  ICONINFO ii{};
  ASSERT_TRUE(GetIconInfo(cur, &ii));
  EXPECT_FALSE(ii.fIcon);
  EXPECT_EQ(ii.xHotspot, 5u);
  EXPECT_EQ(ii.yHotspot, 7u);
  EXPECT_EQ(ii.hbmColor, nullptr);  // monochrome: AND rows above XOR rows
  BITMAP bm{};
  GetObjectW(ii.hbmMask, sizeof bm, &bm);
  EXPECT_EQ(bm.bmWidth, 32);
  EXPECT_EQ(bm.bmHeight, 64);
  // the lowest opaque AND row gives the cursor's height
  EXPECT_EQ(PixelOf(ii.hbmMask, 0, 19), RGB(0, 0, 0));
  EXPECT_EQ(PixelOf(ii.hbmMask, 0, 20), RGB(255, 255, 255));
  EXPECT_EQ(PixelOf(ii.hbmMask, 1, 32), RGB(255, 255, 255));  // the XOR half's white pixel
  EXPECT_EQ(PixelOf(ii.hbmMask, 0, 32), RGB(0, 0, 0));
  DeleteObject(ii.hbmMask);
  // a copy at another size scales the hot spot
  auto half = static_cast<HCURSOR>(CopyImage(cur, IMAGE_CURSOR, 16, 16, 0));
  ASSERT_NE(half, nullptr);
  ASSERT_TRUE(GetIconInfo(half, &ii));
  EXPECT_EQ(ii.xHotspot, 2u);
  EXPECT_EQ(ii.yHotspot, 3u);
  GetObjectW(ii.hbmMask, sizeof bm, &bm);
  EXPECT_EQ(bm.bmHeight, 32);
  DeleteObject(ii.hbmMask);
  DestroyCursor(half);
}

TEST_F(GdiResources, IconSizeChoiceAndReloadingFromTheResource) {
  const COLORREF blue = RGB(0, 0, 255), red = RGB(255, 0, 0);  // the 32 and the 16 image
  struct {
    int Cx, Cy;
    UINT Flags;
    int Size;
    COLORREF Color;
  } cases[] = {
      {0, 0, 0, 32, blue},                // the first image's size
      {0, 0, LR_DEFAULTSIZE, 32, blue},   // the system size
      {16, 16, 0, 16, red},               // an exact match
      {20, 20, 0, 20, red},               // the nearest, stretched
      {30, 30, 0, 30, blue},
  };
  for (auto& k : cases) {
    auto icon = static_cast<HICON>(LoadImageW(Program(), u"TESTICON", IMAGE_ICON, k.Cx, k.Cy, k.Flags));
    ASSERT_NE(icon, nullptr) << k.Cx;
    ICONINFO ii{};
    ASSERT_TRUE(GetIconInfo(icon, &ii));
    EXPECT_TRUE(ii.fIcon);
    BITMAP bm{};
    GetObjectW(ii.hbmColor, sizeof bm, &bm);
    EXPECT_EQ(bm.bmWidth, k.Size) << k.Cx;
    EXPECT_EQ(bm.bmHeight, k.Size) << k.Cx;
    DeleteObject(ii.hbmMask);
    DeleteObject(ii.hbmColor);
    EXPECT_EQ(IconPixel(icon, k.Size / 2, k.Size / 2, k.Size), k.Color) << k.Cx;
    DestroyIcon(icon);
  }
  // the 16 x 16 copy of the big icon: reloaded (the small image) or scaled
  auto icon = static_cast<HICON>(LoadImageW(Program(), u"TESTICON", IMAGE_ICON, 32, 32, 0));
  auto reloaded = static_cast<HICON>(CopyImage(icon, IMAGE_ICON, 16, 16, LR_COPYFROMRESOURCE));
  auto scaled = static_cast<HICON>(CopyImage(icon, IMAGE_ICON, 16, 16, 0));
  EXPECT_EQ(IconPixel(reloaded, 8, 8, 16), red);
  EXPECT_EQ(IconPixel(scaled, 8, 8, 16), blue);
  EXPECT_EQ(CopyImage(icon, IMAGE_ICON, 0, 0, LR_COPYRETURNORG), icon);
  auto moved = static_cast<HICON>(CopyImage(icon, IMAGE_ICON, 24, 24, LR_COPYDELETEORG));
  ASSERT_NE(moved, nullptr);
  ICONINFO ii{};
  EXPECT_FALSE(GetIconInfo(icon, &ii));  // the original is gone
  DestroyIcon(moved);
  DestroyIcon(reloaded);
  DestroyIcon(scaled);
  EXPECT_EQ(LoadImageW(Program(), u"TESTCURSOR", IMAGE_ICON, 0, 0, 0), nullptr);  // a cursor is no icon resource
}

TEST_F(GdiResources, DamagedIconFilesLoadNothing) {
  std::vector<uint8_t> good = IconFile(1, {{16, 16, 32, 0xFF00FF00, 16}});
  struct {
    const char* What;
    size_t Offset;  // byte changed, or the size kept when Value < 0
    int Value;
  } cases[] = {
      {"no directory", 4, -1},
      {"count zero", 4, 0},
      {"count beyond the data", 4, 200},
      {"reserved word set", 0, 1},
      {"unknown type", 2, 3},
      {"image offset past the end", 18 + 3, 0x40},
      {"image size past the end", 14 + 3, 0x40},
      {"truncated image", 60, -1},
      {"bad image header size", 22, 12},
      {"unsupported bit count", 22 + 14, 7},
      {"compressed image", 22 + 16, 1},
  };
  std::string dir = testing_support::MakeTempDir("gdires-ico");
  for (auto& k : cases) {
    std::vector<uint8_t> f = good;
    if (k.Value < 0) f.resize(k.Offset);
    else f[k.Offset] = uint8_t(k.Value);
    std::string path8 = dir + "/bad.ico";
    std::ofstream(path8, std::ios::binary).write(reinterpret_cast<const char*>(f.data()), std::streamsize(f.size()));
    String path = UTF8ToUTF16(path8);
    EXPECT_EQ(LoadImageW(nullptr, path.c_str(), IMAGE_ICON, 0, 0, LR_LOADFROMFILE), nullptr) << k.What;
  }
  std::ofstream(dir + "/good.ico", std::ios::binary)
      .write(reinterpret_cast<const char*>(good.data()), std::streamsize(good.size()));
  String path = UTF8ToUTF16(dir + "/good.ico");
  auto icon = static_cast<HICON>(LoadImageW(nullptr, path.c_str(), IMAGE_ICON, 0, 0, LR_LOADFROMFILE));
  ASSERT_NE(icon, nullptr);
  EXPECT_EQ(IconPixel(icon, 8, 8, 16), RGB(0, 255, 0));
  DestroyIcon(icon);
}

TEST_F(GdiResources, CopyImageOfBitmaps) {
  auto src = static_cast<HBITMAP>(LoadImageW(Program(), u"TESTDIB", IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  ASSERT_NE(src, nullptr);
  EXPECT_EQ(CopyImage(src, IMAGE_BITMAP, 0, 0, LR_COPYRETURNORG), src);
  auto copy = static_cast<HBITMAP>(CopyImage(src, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  ASSERT_NE(copy, nullptr);
  ASSERT_NE(copy, src);
  DIBSECTION ds{};
  EXPECT_EQ(GetObjectW(copy, sizeof ds, &ds), int(sizeof ds));
  EXPECT_EQ(ds.dsBm.bmBitsPixel, 4);  // a DIB keeps its format
  EXPECT_EQ(PixelOf(copy, 0, 1), RGB(255, 0, 0));
  auto mono = static_cast<HBITMAP>(CopyImage(src, IMAGE_BITMAP, 2, 1, LR_MONOCHROME | LR_COPYDELETEORG));
  ASSERT_NE(mono, nullptr);
  BITMAP bm{};
  EXPECT_EQ(GetObjectW(src, sizeof bm, &bm), 0);  // deleted
  GetObjectW(mono, sizeof bm, &bm);
  EXPECT_EQ(bm.bmBitsPixel, 1);
  EXPECT_EQ(bm.bmWidth, 2);
  EXPECT_EQ(PixelOf(mono, 1, 0), RGB(0, 0, 0));  // red is dark
  DeleteObject(copy);
  DeleteObject(mono);
  EXPECT_EQ(CopyImage(nullptr, IMAGE_BITMAP, 0, 0, 0), nullptr);
}

TEST_F(GdiResources, ImageListFromABitmapResource) {
  HIMAGELIST il = ImageList_LoadImageW(Program(), u"TESTSTRIP", 8, 2, CLR_DEFAULT, IMAGE_BITMAP, LR_CREATEDIBSECTION);
  ASSERT_NE(il, nullptr);
  EXPECT_EQ(ImageList_GetImageCount(il), 3);
  int cx = 0, cy = 0;
  ImageList_GetIconSize(il, &cx, &cy);
  EXPECT_EQ(cx, 8);
  EXPECT_EQ(cy, 8);
  TCanvas c(24, 8, RGB(1, 2, 3));
  for (int i = 0; i < 3; ++i) ImageList_Draw(il, i, c.DC, 8 * i, 0, ILD_TRANSPARENT);
  EXPECT_EQ(c.At(5, 5), RGB(255, 0, 0));
  EXPECT_EQ(c.At(13, 5), RGB(0, 255, 0));
  EXPECT_EQ(c.At(21, 5), RGB(0, 0, 255));
  EXPECT_EQ(c.At(1, 1), RGB(1, 2, 3));  // olive, the top-left colour, was the mask colour
  ImageList_Destroy(il);
  HIMAGELIST plain = ImageList_LoadImageW(Program(), u"TESTSTRIP", 8, 2, CLR_NONE, IMAGE_BITMAP, 0);
  ASSERT_NE(plain, nullptr);
  ImageList_Draw(plain, 0, c.DC, 0, 0, ILD_TRANSPARENT);
  EXPECT_EQ(c.At(1, 1), RGB(128, 128, 0));
  ImageList_Destroy(plain);
  EXPECT_EQ(ImageList_LoadImageW(Program(), u"NOSUCH", 8, 2, CLR_DEFAULT, IMAGE_BITMAP, 0), nullptr);
  EXPECT_EQ(ImageList_LoadImageW(Program(), u"TESTSTRIP", 8, 2, CLR_DEFAULT, IMAGE_ICON, 0), nullptr);
}

}  // namespace
