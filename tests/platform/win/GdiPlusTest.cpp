// The GDI+ subset: images through streams (PNG round trips with alpha,
// hostile data), premultiplied drawing with a colour matrix, interpolation
// modes, gradient and texture brushes, lock bits and GDI interplay.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/classes/ComStreams.h"
#include "platform/classes/Streams.h"
#include "platform/win/GdiPlus.h"
#include "platform/win/OleStreams.h"
#include "tests/platform/win/GdiFixture.h"

namespace {

using namespace win;
using namespace win::gdiplus;
using gditest::TCanvas;

ARGB Argb(BYTE a, BYTE r, BYTE g, BYTE b) { return (ARGB(a) << 24) | (ARGB(r) << 16) | (ARGB(g) << 8) | b; }

// A bitmap owning its pixels, filled from a function of (x, y).
template <class F>
GpBitmap* MakeBitmap(int w, int h, PixelFormat f, F&& colour) {
  GpBitmap* b = nullptr;
  EXPECT_EQ(GdipCreateBitmapFromScan0(w, h, 0, f, nullptr, &b), Ok);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) GdipBitmapSetPixel(b, x, y, colour(x, y));
  return b;
}

ARGB PixelOf(GpBitmap* b, int x, int y) {
  ARGB c = 0;
  EXPECT_EQ(GdipBitmapGetPixel(b, x, y, &c), Ok);
  return c;
}

// An IStream over bytes, through the global-memory stream.
TInterfacePtr<IStream> StreamOf(const std::vector<uint8_t>& bytes) {
  HGLOBAL g = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
  if (!bytes.empty()) std::memcpy(GlobalLock(g), bytes.data(), bytes.size());
  GlobalUnlock(g);
  IStream* s = nullptr;
  EXPECT_EQ(CreateStreamOnHGlobal(g, TRUE, &s), S_OK);
  TInterfacePtr<IStream> p;
  p.Attach(s);
  return p;
}

std::vector<uint8_t> SaveAs(GpImage* image, const CLSID& clsid) {
  TMemoryStream* m = New<TMemoryStream>();
  TInterfacePtr<IStream> s = New<TStreamAdapter>(m, soOwned);
  EXPECT_EQ(GdipSaveImageToStream(image, s.get(), &clsid, nullptr), Ok);
  const auto* p = static_cast<const uint8_t*>(m->Memory());
  return std::vector<uint8_t>(p, p + m->Size());
}

class GdiPlus : public ::testing::Test {
 protected:
  void SetUp() override {
    GdiplusStartupInput in;
    in.SuppressBackgroundThread = TRUE;
    ASSERT_EQ(GdiplusStartup(&Token, &in, &Out), Ok);
  }
  void TearDown() override { GdiplusShutdown(Token); }
  ULONG_PTR Token = 0;
  GdiplusStartupOutput Out;
};

TEST_F(GdiPlus, StartupChecksItsInput) {
  ASSERT_NE(Out.NotificationHook, nullptr);
  ULONG_PTR hook = 0;
  EXPECT_EQ(Out.NotificationHook(&hook), Ok);
  Out.NotificationUnhook(hook);
  ULONG_PTR t = 0;
  GdiplusStartupInput bad;
  bad.GdiplusVersion = 0;
  EXPECT_EQ(GdiplusStartup(&t, &bad, nullptr), UnsupportedGdiplusVersion);
  GdiplusStartupInput quiet;
  quiet.SuppressBackgroundThread = TRUE;
  EXPECT_EQ(GdiplusStartup(&t, &quiet, nullptr), InvalidParameter);  // the hooks need somewhere to go
}

TEST_F(GdiPlus, PngEncoderIsFoundByMimeType) {
  UINT n = 0, size = 0;
  ASSERT_EQ(GdipGetImageEncodersSize(&n, &size), Ok);
  ASSERT_GT(n, 0u);
  std::vector<uint8_t> buf(size);
  auto* codecs = reinterpret_cast<ImageCodecInfo*>(buf.data());
  ASSERT_EQ(GdipGetImageEncoders(n, size, codecs), Ok);
  const ImageCodecInfo* png = nullptr;
  for (UINT i = 0; i < n; ++i)
    if (std::u16string(codecs[i].MimeType) == u"image/png") png = &codecs[i];
  ASSERT_NE(png, nullptr);
  EXPECT_EQ(png->Clsid, CLSID_PngEncoder);
}

TEST_F(GdiPlus, PngRoundTripKeepsStraightAlphaExactly) {
  // alphas down to 1, where premultiplying would lose the colour
  GpBitmap* b = MakeBitmap(7, 5, PixelFormat32bppARGB, [](int x, int y) {
    return Argb(BYTE(x == 0 ? 255 : x * 37 % 256 | 1), BYTE(x * 40), BYTE(y * 60), BYTE(200 - x * 10));
  });
  std::vector<uint8_t> png = SaveAs(b, CLSID_PngEncoder);
  ASSERT_GT(png.size(), 8u);
  EXPECT_EQ(png[1], 'P');

  GpBitmap* back = nullptr;
  ASSERT_EQ(GdipCreateBitmapFromStream(StreamOf(png).get(), &back), Ok);
  UINT w = 0, h = 0;
  GdipGetImageWidth(back, &w);
  GdipGetImageHeight(back, &h);
  EXPECT_EQ(w, 7u);
  EXPECT_EQ(h, 5u);
  PixelFormat f = 0;
  GdipGetImagePixelFormat(back, &f);
  EXPECT_EQ(f, PixelFormat32bppARGB);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 7; ++x) EXPECT_EQ(PixelOf(back, x, y), PixelOf(b, x, y)) << x << "," << y;
  GdipDisposeImage(back);
  GdipDisposeImage(b);
}

TEST_F(GdiPlus, OpaqueImagesRoundTripThroughPngAndBmp) {
  GpBitmap* b = MakeBitmap(3, 2, PixelFormat32bppRGB,
                           [](int x, int y) { return Argb(255, BYTE(x * 80), 10, BYTE(y * 90)); });
  for (const CLSID& clsid : {CLSID_PngEncoder, CLSID_BmpEncoder}) {
    GpBitmap* back = nullptr;
    ASSERT_EQ(GdipCreateBitmapFromStream(StreamOf(SaveAs(b, clsid)).get(), &back), Ok);
    PixelFormat f = 0;
    GdipGetImagePixelFormat(back, &f);
    // the PNG codec writes an alpha channel even for opaque pictures
    if (clsid == CLSID_BmpEncoder) {
      EXPECT_EQ(f, PixelFormat32bppRGB);
    }
    EXPECT_EQ(PixelOf(back, 2, 1), Argb(255, 160, 10, 90));
    GdipDisposeImage(back);
  }
  GdipDisposeImage(b);
}

TEST_F(GdiPlus, HostileStreamsGiveAnErrorStatus) {
  GpBitmap* good = MakeBitmap(16, 16, PixelFormat32bppARGB,
                              [](int x, int y) { return Argb(BYTE(x * 16), 1, 2, BYTE(y)); });
  std::vector<uint8_t> png = SaveAs(good, CLSID_PngEncoder);
  std::vector<uint8_t> bmp = SaveAs(good, CLSID_BmpEncoder);
  GdipDisposeImage(good);

  std::vector<uint8_t> corrupt = png;
  for (size_t i = 33; i < corrupt.size() - 12; i += 7) corrupt[i] ^= 0x5A;
  std::vector<uint8_t> hugeHeader = png;
  hugeHeader[16] = 0x7F;  // IHDR width
  std::vector<uint8_t> bmpHuge = bmp;
  bmpHuge[18] = 0xFF;  // biWidth
  bmpHuge[21] = 0x7F;
  const std::vector<std::vector<uint8_t>> cases = {
      {},
      {'B'},
      {'B', 'M'},
      {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A},
      std::vector<uint8_t>(png.begin(), png.begin() + long(png.size() / 2)),
      corrupt,
      hugeHeader,
      std::vector<uint8_t>(bmp.begin(), bmp.begin() + 30),
      bmpHuge,
      {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10},
      {'G', 'I', 'F', '8', '9', 'a'},
  };
  for (size_t i = 0; i < cases.size(); ++i) {
    GpBitmap* b = reinterpret_cast<GpBitmap*>(1);
    EXPECT_NE(GdipCreateBitmapFromStream(StreamOf(cases[i]).get(), &b), Ok) << "case " << i;
    EXPECT_EQ(b, nullptr) << "case " << i;
  }
  GpBitmap* b = nullptr;
  EXPECT_EQ(GdipCreateBitmapFromStream(nullptr, &b), InvalidParameter);
  EXPECT_NE(GdipCreateBitmapFromFile(u"/nonexistent/file.png", &b), Ok);
}

TEST_F(GdiPlus, StaleHandlesAreRefused) {
  GpBitmap* b = MakeBitmap(2, 2, PixelFormat32bppARGB, [](int, int) { return Argb(255, 1, 2, 3); });
  ASSERT_EQ(GdipDisposeImage(b), Ok);
  EXPECT_EQ(GdipDisposeImage(b), InvalidParameter);
  UINT w = 0;
  EXPECT_EQ(GdipGetImageWidth(b, &w), InvalidParameter);
  GpSolidFill* brush = nullptr;
  GdipCreateSolidFill(0, &brush);
  ASSERT_EQ(GdipDeleteBrush(brush), Ok);
  EXPECT_EQ(GdipDeleteBrush(brush), InvalidParameter);
}

TEST_F(GdiPlus, ColourMatrixScalesAlphaOfPremultipliedPixels) {
  GpBitmap* red = MakeBitmap(2, 2, PixelFormat32bppPARGB, [](int, int) { return Argb(255, 255, 0, 0); });
  TCanvas c(4, 4, gditest::White);
  GpGraphics* g = nullptr;
  ASSERT_EQ(GdipCreateFromHDC(c.DC, &g), Ok);
  GpImageAttributes* attrs = nullptr;
  GdipCreateImageAttributes(&attrs);
  ColorMatrix m{};
  for (int i = 0; i < 5; ++i) m.m[i][i] = 1;
  m.m[3][3] = 0.5f;
  ASSERT_EQ(GdipSetImageAttributesColorMatrix(attrs, ColorAdjustTypeBitmap, TRUE, &m, nullptr,
                                              ColorMatrixFlagsDefault),
            Ok);
  GdipSetInterpolationMode(g, InterpolationModeNearestNeighbor);
  ASSERT_EQ(GdipDrawImageRectRectI(g, red, 1, 1, 2, 2, 0, 0, 2, 2, UnitPixel, attrs, nullptr, nullptr), Ok);
  // (128, 0, 0, 128) over white
  EXPECT_EQ(c.At(1, 1), RGB(255, 127, 127));
  EXPECT_EQ(c.At(2, 2), RGB(255, 127, 127));
  EXPECT_EQ(c.At(0, 0), gditest::White);
  EXPECT_EQ(c.At(3, 3), gditest::White);
  // without attributes the image covers
  GdipDrawImageRectRectI(g, red, 0, 0, 1, 1, 0, 0, 2, 2, UnitPixel, nullptr, nullptr, nullptr);
  EXPECT_EQ(c.At(0, 0), gditest::Red);
  GdipDisposeImageAttributes(attrs);
  GdipDeleteGraphics(g);
  GdipDisposeImage(red);
}

TEST_F(GdiPlus, TranslucentImagesComposeOntoImages) {
  GpBitmap* dst = MakeBitmap(2, 1, PixelFormat32bppPARGB, [](int, int) { return Argb(255, 0, 0, 255); });
  GpBitmap* src = MakeBitmap(1, 1, PixelFormat32bppARGB, [](int, int) { return Argb(128, 255, 0, 0); });
  GpGraphics* g = nullptr;
  ASSERT_EQ(GdipGetImageGraphicsContext(dst, &g), Ok);
  GdipSetInterpolationMode(g, InterpolationModeNearestNeighbor);
  GdipDrawImageRectRectI(g, src, 0, 0, 1, 1, 0, 0, 1, 1, UnitPixel, nullptr, nullptr, nullptr);
  EXPECT_EQ(PixelOf(dst, 0, 0), Argb(255, 128, 0, 127));
  EXPECT_EQ(PixelOf(dst, 1, 0), Argb(255, 0, 0, 255));
  // copy mode replaces, alpha included
  GdipSetCompositingMode(g, CompositingModeSourceCopy);
  GdipDrawImageRectRectI(g, src, 1, 0, 1, 1, 0, 0, 1, 1, UnitPixel, nullptr, nullptr, nullptr);
  EXPECT_EQ(PixelOf(dst, 1, 0) >> 24, 128u);
  GdipDeleteGraphics(g);
  GdipDisposeImage(src);
  GdipDisposeImage(dst);
}

// Grey levels of a 1-row stretch of a black|white source.
std::vector<int> StretchRow(InterpolationMode mode, int srcW, int dstW) {
  GpBitmap* src = MakeBitmap(srcW, 1, PixelFormat32bppPARGB, [srcW](int x, int) {
    return x < srcW / 2 ? Argb(255, 0, 0, 0) : Argb(255, 255, 255, 255);
  });
  GpBitmap* dst = MakeBitmap(dstW, 1, PixelFormat32bppPARGB, [](int, int) { return Argb(255, 255, 0, 0); });
  GpGraphics* g = nullptr;
  GdipGetImageGraphicsContext(dst, &g);
  GdipSetInterpolationMode(g, mode);
  GdipDrawImageRectRectI(g, src, 0, 0, dstW, 1, 0, 0, srcW, 1, UnitPixel, nullptr, nullptr, nullptr);
  std::vector<int> row;
  for (int x = 0; x < dstW; ++x) {
    ARGB c = PixelOf(dst, x, 0);
    EXPECT_EQ((c >> 16) & 0xFF, c & 0xFF);  // grey, no red left: the source covers
    row.push_back(int(c & 0xFF));
  }
  GdipDeleteGraphics(g);
  GdipDisposeImage(dst);
  GdipDisposeImage(src);
  return row;
}

TEST_F(GdiPlus, InterpolationModesOnAStretch) {
  EXPECT_EQ(StretchRow(InterpolationModeNearestNeighbor, 2, 8),
            (std::vector<int>{0, 0, 0, 0, 255, 255, 255, 255}));
  for (InterpolationMode m :
       {InterpolationModeBilinear, InterpolationModeDefault, InterpolationModeLowQuality}) {
    std::vector<int> row = StretchRow(m, 2, 8);
    EXPECT_EQ(row.front(), 0);
    EXPECT_EQ(row.back(), 255);
    EXPECT_TRUE(std::is_sorted(row.begin(), row.end()));
    EXPECT_GT(std::count_if(row.begin(), row.end(), [](int v) { return v > 0 && v < 255; }), 0);
  }
  // bicubic overshoots nothing (clamped) and stays monotonic on a step
  std::vector<int> cubic = StretchRow(InterpolationModeHighQualityBicubic, 2, 8);
  EXPECT_TRUE(std::is_sorted(cubic.begin(), cubic.end()));
  EXPECT_NE(cubic, StretchRow(InterpolationModeBilinear, 2, 8));
  // shrinking: high quality averages the covered pixels, nearest picks one
  EXPECT_EQ(StretchRow(InterpolationModeHighQualityBicubic, 4, 1), (std::vector<int>{128}));
  int nearest = StretchRow(InterpolationModeNearestNeighbor, 4, 1)[0];
  EXPECT_TRUE(nearest == 0 || nearest == 255);
}

TEST_F(GdiPlus, LinearGradientBrushes) {
  TCanvas c(10, 10, gditest::White);
  GpGraphics* g = nullptr;
  GdipCreateFromHDC(c.DC, &g);
  GpRect r{0, 0, 10, 10};
  GpLineGradient* h = nullptr;
  ASSERT_EQ(GdipCreateLineBrushFromRectI(&r, Argb(255, 255, 0, 0), Argb(255, 0, 0, 255),
                                         LinearGradientModeHorizontal, WrapModeTile, &h),
            Ok);
  GdipFillRectangleI(g, h, 0, 0, 10, 10);
  EXPECT_GT(GetRValue(c.At(0, 5)), 240);
  EXPECT_GT(GetBValue(c.At(9, 5)), 240);
  EXPECT_EQ(c.At(3, 0), c.At(3, 9));  // columns are even
  for (int x = 1; x < 10; ++x) EXPECT_LE(GetRValue(c.At(x, 5)), GetRValue(c.At(x - 1, 5)));

  GpLineGradient* d = nullptr;
  GdipCreateLineBrushFromRectI(&r, Argb(255, 255, 0, 0), Argb(255, 0, 0, 255),
                               LinearGradientModeForwardDiagonal, WrapModeTile, &d);
  GdipFillRectangleI(g, d, 0, 0, 10, 10);
  EXPECT_GT(GetRValue(c.At(0, 0)), 220);
  EXPECT_GT(GetBValue(c.At(9, 9)), 220);
  EXPECT_EQ(c.At(9, 0), c.At(0, 9));  // the other diagonal is one colour
  EXPECT_EQ(c.At(2, 7), c.At(7, 2));
  GpBrushType t{};
  GdipGetBrushType(d, &t);
  EXPECT_EQ(t, BrushTypeLinearGradient);
  GdipDeleteBrush(h);
  GdipDeleteBrush(d);
  GdipDeleteGraphics(g);
}

TEST_F(GdiPlus, TextureBrushTiles) {
  const ARGB colours[4] = {Argb(255, 255, 0, 0), Argb(255, 0, 255, 0), Argb(255, 0, 0, 255),
                           Argb(255, 255, 255, 0)};
  GpBitmap* tex =
      MakeBitmap(3, 3, PixelFormat32bppARGB, [&](int x, int y) { return colours[(y % 2) * 2 + x % 2]; });
  GpTexture* brush = nullptr;
  ASSERT_EQ(GdipCreateTexture2I(tex, WrapModeTile, 0, 0, 2, 2, &brush), Ok);
  EXPECT_EQ(GdipCreateTexture2I(tex, WrapModeTile, 2, 2, 2, 2, &brush), OutOfMemory);  // beyond the image
  TCanvas c(7, 5, gditest::White);
  GpGraphics* g = nullptr;
  GdipCreateFromHDC(c.DC, &g);
  GdipFillRectangleI(g, brush, 0, 0, 7, 5);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 7; ++x) {
      ARGB want = colours[(y % 2) * 2 + x % 2];
      EXPECT_EQ(c.At(x, y), RGB(BYTE(want >> 16), BYTE(want >> 8), BYTE(want))) << x << "," << y;
    }
  GdipDeleteBrush(brush);
  GdipDeleteGraphics(g);
  GdipDisposeImage(tex);
}

TEST_F(GdiPlus, DrawingOnADcKeepsItsClipAndOrigin) {
  TCanvas c(10, 10, gditest::White);
  SetViewportOrgEx(c.DC, 2, 0, nullptr);
  IntersectClipRect(c.DC, 0, 0, 4, 10);  // device 2..6
  GpGraphics* g = nullptr;
  GdipCreateFromHDC(c.DC, &g);
  GpSolidFill* red = nullptr;
  GdipCreateSolidFill(Argb(255, 255, 0, 0), &red);
  GdipFillRectangleI(g, red, 0, 0, 10, 10);
  EXPECT_EQ(c.Pattern(gditest::Red, 0, 0, 10, 1), "..####....\n");
  BOOL visible = TRUE;
  GdipIsVisibleRectI(g, 6, 0, 2, 2, &visible);
  EXPECT_FALSE(visible);
  GdipIsVisibleRectI(g, 3, 0, 2, 2, &visible);
  EXPECT_TRUE(visible);
  GdipDeleteBrush(red);
  GdipDeleteGraphics(g);
}

TEST_F(GdiPlus, LockBitsConvertsFormats) {
  GpBitmap* b = MakeBitmap(2, 2, PixelFormat32bppPARGB, [](int, int) { return Argb(128, 255, 0, 0); });
  BitmapData d{};
  GpRect r{1, 0, 1, 2};
  ASSERT_EQ(GdipBitmapLockBits(b, &r, ImageLockModeRead | ImageLockModeWrite, PixelFormat32bppARGB, &d), Ok);
  EXPECT_EQ(GdipBitmapLockBits(b, &r, ImageLockModeRead, PixelFormat32bppARGB, &d), WrongState);
  ASSERT_EQ(d.Width, 1u);
  uint32_t first = 0;
  std::memcpy(&first, d.Scan0, 4);
  EXPECT_EQ(first, Argb(128, 255, 0, 0));  // straight
  uint32_t green = Argb(255, 0, 255, 0);
  std::memcpy(d.Scan0, &green, 4);
  ASSERT_EQ(GdipBitmapUnlockBits(b, &d), Ok);
  EXPECT_EQ(PixelOf(b, 1, 0), green);
  EXPECT_EQ(PixelOf(b, 0, 0), Argb(128, 255, 0, 0));
  GpRect outside{1, 1, 2, 2};
  EXPECT_EQ(GdipBitmapLockBits(b, &outside, ImageLockModeRead, PixelFormat32bppARGB, &d), InvalidParameter);
  GdipDisposeImage(b);
}

TEST_F(GdiPlus, Scan0BitmapsWorkOnTheCallersMemory) {
  std::vector<uint32_t> pixels(4, 0xFF102030u);
  GpBitmap* b = nullptr;
  ASSERT_EQ(
      GdipCreateBitmapFromScan0(2, 2, 8, PixelFormat32bppPARGB, reinterpret_cast<BYTE*>(pixels.data()), &b),
      Ok);
  pixels[3] = 0x80400000u;
  EXPECT_EQ(PixelOf(b, 1, 1), Argb(128, 128, 0, 0));  // read back straight
  GdipBitmapSetPixel(b, 0, 0, Argb(255, 1, 2, 3));
  EXPECT_EQ(pixels[0], 0xFF010203u);
  GpBitmap* bad = nullptr;
  EXPECT_EQ(
      GdipCreateBitmapFromScan0(2, 2, 4, PixelFormat32bppPARGB, reinterpret_cast<BYTE*>(pixels.data()), &bad),
      InvalidParameter);  // stride shorter than a row
  EXPECT_EQ(bad, nullptr);
  GdipDisposeImage(b);
}

TEST_F(GdiPlus, HbitmapConversionsAndGdiDrawingOnAnImage) {
  GpBitmap* b = MakeBitmap(4, 2, PixelFormat32bppARGB,
                           [](int x, int) { return x < 2 ? Argb(0, 0, 0, 0) : Argb(255, 0, 0, 255); });
  HBITMAP hbm = nullptr;
  ASSERT_EQ(GdipCreateHBITMAPFromBitmap(b, &hbm, 0), Ok);
  DIBSECTION ds{};
  ASSERT_NE(GetObjectW(hbm, sizeof ds, &ds), 0);
  const auto* px = static_cast<const uint32_t*>(ds.dsBm.bmBits);
  EXPECT_EQ(px[0], 0u);  // transparent stays transparent over a background of 0
  EXPECT_EQ(px[3], 0xFF0000FFu);
  GpBitmap* again = nullptr;
  ASSERT_EQ(GdipCreateBitmapFromHBITMAP(hbm, nullptr, &again), Ok);
  PixelFormat f = 0;
  GdipGetImagePixelFormat(again, &f);
  EXPECT_EQ(f, PixelFormat32bppRGB);  // the bitmap's alpha is not taken
  EXPECT_EQ(PixelOf(again, 0, 0), Argb(255, 0, 0, 0));
  DeleteObject(hbm);

  // GDI through GdipGetDC: what GDI drew becomes opaque, the rest stays
  GpGraphics* g = nullptr;
  GdipGetImageGraphicsContext(b, &g);
  HDC dc = nullptr;
  ASSERT_EQ(GdipGetDC(g, &dc), Ok);
  RECT r{0, 0, 1, 1};
  HBRUSH green = CreateSolidBrush(RGB(0, 255, 0));
  FillRect(dc, &r, green);
  DeleteObject(green);
  ASSERT_EQ(GdipReleaseDC(g, dc), Ok);
  EXPECT_EQ(PixelOf(b, 0, 0), Argb(255, 0, 255, 0));
  EXPECT_EQ(PixelOf(b, 1, 0), Argb(0, 0, 0, 0));
  GdipDeleteGraphics(g);
  GdipDisposeImage(again);
  GdipDisposeImage(b);
}

TEST_F(GdiPlus, ShapesWithPensAndBrushes) {
  TCanvas c(12, 12, gditest::White);
  GpGraphics* g = nullptr;
  GdipCreateFromHDC(c.DC, &g);
  GpPen* pen = nullptr;
  ASSERT_EQ(GdipCreatePen1(Argb(255, 0, 0, 0), 1, UnitPixel, &pen), Ok);
  GdipDrawRectangleI(g, pen, 1, 1, 5, 5);
  EXPECT_EQ(c.At(1, 1), gditest::Black);
  EXPECT_EQ(c.At(6, 6), gditest::Black);  // both ends are drawn
  EXPECT_EQ(c.At(3, 3), gditest::White);
  GpSolidFill* blue = nullptr;
  GdipCreateSolidFill(Argb(255, 0, 0, 255), &blue);
  GdipFillEllipseI(g, blue, 0, 0, 12, 12);
  EXPECT_EQ(c.At(6, 6), gditest::Blue);
  EXPECT_EQ(c.At(0, 0), gditest::White);
  GpPoint tri[3] = {{0, 11}, {11, 11}, {0, 0}};
  GpSolidFill* red = nullptr;
  GdipCreateSolidFill(Argb(255, 255, 0, 0), &red);
  EXPECT_EQ(GdipFillPolygonI(g, red, tri, 3, 0), Ok);
  EXPECT_EQ(c.At(1, 10), gditest::Red);
  // hostile sizes cost nothing and draw within the target
  EXPECT_EQ(GdipFillRectangleI(g, red, INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX), Ok);
  EXPECT_EQ(GdipDrawEllipseI(g, pen, -2000000000, 0, 2000000000, 5), Ok);
  GdipDeletePen(pen);
  GdipDeleteBrush(blue);
  GdipDeleteBrush(red);
  GdipDeleteGraphics(g);
}

}  // namespace

namespace {

TEST(HGlobalStreams, CallerBlocksAreFixedOwnBlocksGrow) {
  HGLOBAL g = GlobalAlloc(GMEM_MOVEABLE, 4);
  IStream* s = nullptr;
  ASSERT_EQ(CreateStreamOnHGlobal(g, FALSE, &s), S_OK);
  uint32_t n = 0;
  EXPECT_EQ(s->Write("abcd", 4, &n), S_OK);
  EXPECT_EQ(s->Write("e", 1, &n), STG_E_MEDIUMFULL);
  HGLOBAL back = nullptr;
  ASSERT_EQ(GetHGlobalFromStream(s, &back), S_OK);
  EXPECT_EQ(back, g);
  s->_Release();
  EXPECT_EQ(std::memcmp(GlobalLock(g), "abcd", 4), 0);  // not freed: fDeleteOnRelease was FALSE
  GlobalUnlock(g);
  GlobalFree(g);

  ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, &s), S_OK);
  std::vector<char> big(100000, 'x');
  ASSERT_EQ(s->Write(big.data(), uint32_t(big.size()), &n), S_OK);
  ULARGE_INTEGER pos = 0;
  s->Seek(-3, STREAM_SEEK_END, &pos);
  EXPECT_EQ(pos, 99997u);
  char tail[8] = {};
  s->Read(tail, 8, &n);
  EXPECT_EQ(n, 3u);
  EXPECT_EQ(s->Seek(-1, STREAM_SEEK_SET, nullptr), STG_E_INVALIDFUNCTION);
  s->_Release();
}

}  // namespace

namespace {

TEST_F(GdiPlus, HostileImageRectanglesAreCheap) {
  GpBitmap* src = MakeBitmap(4, 4, PixelFormat32bppARGB, [](int, int) { return Argb(255, 0, 255, 0); });
  GpBitmap* dst = MakeBitmap(8, 8, PixelFormat32bppPARGB, [](int, int) { return Argb(255, 255, 255, 255); });
  GpGraphics* g = nullptr;
  GdipGetImageGraphicsContext(dst, &g);
  for (InterpolationMode m : {InterpolationModeNearestNeighbor, InterpolationModeHighQualityBicubic}) {
    GdipSetInterpolationMode(g, m);
    EXPECT_EQ(
        GdipDrawImageRectRect(g, src, 0, 0, 8, 8, -1e30f, 0, 3e30f, 4, UnitPixel, nullptr, nullptr, nullptr),
        Ok);
    EXPECT_EQ(GdipDrawImageRectRectI(g, src, 0, 0, 2, 2, INT32_MIN, 0, INT32_MAX, 4, UnitPixel, nullptr,
                                     nullptr, nullptr),
              Ok);
    EXPECT_EQ(GdipDrawImageRectRectI(g, src, INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX, 0, 0, 4, 4,
                                     UnitPixel, nullptr, nullptr, nullptr),
              Ok);
  }
  // the edge pixels stand for everything beyond the image
  EXPECT_EQ(PixelOf(dst, 4, 4), Argb(255, 0, 255, 0));
  GdipDeleteGraphics(g);
  GdipDisposeImage(dst);
  GdipDisposeImage(src);
}

}  // namespace
