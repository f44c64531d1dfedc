#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/vcl/JPEG.h"
#include "tests/platform/vcl/VclTestSupport.h"

using namespace vcltest;

namespace {

// Red on the left half, blue on the right.
Owned<TBitmap> TwoColors(int W, int H) {
  Owned<TBitmap> b = MakeBitmap(W, H, clRed, pf24bit);
  b->Canvas()->Brush()->SetColor(clBlue);
  b->Canvas()->FillRect(TRect{W / 2, 0, W, H});
  return b;
}

bool Near(TColor A, TColor B, int Tolerance = 24) {
  for (int sh = 0; sh < 24; sh += 8)
    if (std::abs(((A >> sh) & 0xFF) - ((B >> sh) & 0xFF)) > Tolerance) return false;
  return true;
}

RawByteString Encode(TBitmap* B, bool Gray = false) {
  Owned<TJPEGImage> j(New<TJPEGImage>());
  j->SetGrayscale(Gray);
  j->Assign(B);
  Owned<TMemoryStream> s(New<TMemoryStream>());
  j->SaveToStream(s.get());
  return StreamBytes(s.get());
}

void Load(TJPEGImage* J, const RawByteString& Bytes) {
  Owned<TMemoryStream> s(New<TMemoryStream>());
  s->WriteBuffer(Bytes.data(), Integer(Bytes.size()));
  s->SetPosition(0);
  J->LoadFromStream(s.get());
}

}  // namespace

TEST(JPEG, BitmapRoundTrip) {
  Owned<TBitmap> src = TwoColors(32, 16);
  RawByteString data = Encode(src.get());
  ASSERT_GT(data.size(), 4u);
  EXPECT_EQ(data.substr(0, 2), "\xFF\xD8");
  Owned<TJPEGImage> j(New<TJPEGImage>());
  EXPECT_TRUE(j->Empty());
  Load(j.get(), data);
  EXPECT_EQ(j->Width(), 32);
  EXPECT_EQ(j->Height(), 16);
  EXPECT_EQ(j->CompressionQuality(), 90);
  Owned<TBitmap> out(New<TBitmap>());
  out->Assign(j.get());
  EXPECT_TRUE(Near(Px(out.get(), 3, 8), clRed));
  EXPECT_TRUE(Near(Px(out.get(), 28, 8), clBlue));
  Owned<TBitmap> canvas = MakeBitmap(40, 20, clWhite);
  canvas->Canvas()->Draw(4, 2, j.get());
  EXPECT_TRUE(Near(Px(canvas.get(), 7, 10), clRed));
  EXPECT_EQ(Px(canvas.get(), 1, 1), clWhite);
  EXPECT_THROW(j->SetWidth(10), EInvalidGraphicOperation);
}

TEST(JPEG, ScaleGrayscaleAndPixelFormat) {
  Owned<TBitmap> src = TwoColors(33, 17);
  RawByteString data = Encode(src.get());
  struct Case {
    TJPEGScale Scale;
    int W, H;
  };
  for (Case c : {Case{jsFullSize, 33, 17}, Case{jsHalf, 17, 9}, Case{jsQuarter, 9, 5}, Case{jsEighth, 5, 3}}) {
    Owned<TJPEGImage> j(New<TJPEGImage>());
    j->SetScale(c.Scale);
    Load(j.get(), data);
    EXPECT_EQ(j->Width(), c.W);
    EXPECT_EQ(j->Height(), c.H);
  }
  Owned<TJPEGImage> j(New<TJPEGImage>());
  Load(j.get(), data);
  j->SetGrayscale(true);
  TColor g = Px(j->Bitmap(), 2, 8);
  EXPECT_EQ(g & 0xFF, (g >> 8) & 0xFF);
  EXPECT_EQ(g & 0xFF, (g >> 16) & 0xFF);
  j->SetPixelFormat(jf8Bit);
  EXPECT_EQ(j->Bitmap()->PixelFormat(), pf8bit);
  EXPECT_EQ(j->Bitmap()->Width(), 33);
}

TEST(JPEG, RegisteredWithPictures) {
  TClassOf<TPicture> pic = ClassOf<TPicture>();
  EXPECT_EQ(pic->FindExtension(u"jpg").Class(), TJPEGImage::StaticClass());
  EXPECT_EQ(pic->FindExtension(u"JPEG").Class(), TJPEGImage::StaticClass());
  Owned<TBitmap> src = TwoColors(8, 8);
  String path = TempPath("jpeg", "p.jpg");
  Owned<TJPEGImage> j(New<TJPEGImage>());
  j->Assign(src.get());
  j->SaveToFile(path);
  Owned<TPicture> p(New<TPicture>());
  p->LoadFromFile(path);
  ASSERT_TRUE(Is<TJPEGImage>(p->Graphic()));
  EXPECT_EQ(p->Width(), 8);
  Owned<TJPEGImage> k(New<TJPEGImage>());
  k->Assign(p->Graphic());
  EXPECT_TRUE(k->Equals(p->Graphic()));
}

TEST(JPEG, HostileStreamsRaiseInvalidGraphic) {
  RawByteString data = Encode(TwoColors(16, 16).get());
  RawByteString corrupt = data;
  for (size_t i = 20; i < corrupt.size() && i < 200; ++i) corrupt[i] = char(0xFF);
  const RawByteString cases[] = {"", "garbage!", "\xFF\xD8", data.substr(0, data.size() / 2), corrupt};
  for (const RawByteString& c : cases) {
    Owned<TJPEGImage> j(New<TJPEGImage>());
    Load(j.get(), data);
    EXPECT_THROW(Load(j.get(), c), EInvalidGraphic) << c.size();
    EXPECT_EQ(j->Width(), 16);  // the old picture stays
  }
}

TEST(JPEG, MutatedDataLoadsOrRaises) {
  RawByteString seed = Encode(TwoColors(24, 16).get());
  uint32_t state = 777;
  auto next = [&] { return state = state * 1664525u + 1013904223u; };
  int raised = 0;
  for (int round = 0; round < 120; ++round) {
    RawByteString b = seed;
    for (int k = 0, n = 1 + int(next() % 4); k < n && !b.empty(); ++k) {
      size_t at = next() % b.size();
      if (next() % 2) b[at] = char(next() >> 24);
      else b.resize(at);
    }
    Owned<TJPEGImage> j(New<TJPEGImage>());
    try {
      Load(j.get(), b);
    } catch (const EInvalidGraphic&) {
      ++raised;
    }
  }
  EXPECT_GT(raised, 0);
}
