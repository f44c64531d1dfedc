// GDI+ binding, the units loader, GDI+ images and the PNG picture format.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "lib/foundation/nbGDIPlusAPI.h"
#include "lib/foundation/nbGDIPlusClasses.h"
#include "platform/classes/ClassRegistry.h"
#include "platform/classes/Filer.h"
#include "platform/classes/Streams.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/win/Gdi.h"
#include "platform/win/Modules.h"

namespace {

template <class T>
using Owned = std::unique_ptr<T, TObjectFree>;

// A bitmap of the format with the pixels given row by row from the top.
TBitmap* MakeBitmap(Integer W, Integer H, TPixelFormat Format, const std::vector<Cardinal>& Pixels) {
  TBitmap* b = New<TBitmap>();
  b->SetPixelFormat(pf32bit);
  b->SetSize(W, H);
  for (Integer y = 0; y < H; ++y)
    std::memcpy(b->ScanLine(y), &Pixels[size_t(y) * size_t(W)], size_t(W) * 4);
  b->SetPixelFormat(Format);
  return b;
}

// --- Units loader ------------------------------------------------------------------

std::vector<int> gCalls;
void Init1() { gCalls.push_back(1); }
void Fin1() { gCalls.push_back(-1); }
void Init2() { gCalls.push_back(2); }
void Fin2() { gCalls.push_back(-2); }
void Fin3() { gCalls.push_back(-3); }

TEST(UnitsLoader, InitializesAtOnceAndFinalizesInReverse) {
  gCalls.clear();
  Owned<TnbUnitsLoader> loader(New<TnbUnitsLoader>());
  loader->AddUnit(&Init1, &Fin1);
  loader->AddUnit(&Init2, &Fin2);
  loader->AddUnit(nullptr, &Fin3);
  EXPECT_EQ(gCalls, (std::vector<int>{1, 2}));
  loader->RemoveUnit(&Init1);  // never added as a finalize procedure: nothing
  loader->RemoveUnit(&Fin2);   // runs once
  EXPECT_EQ(gCalls, (std::vector<int>{1, 2, -2}));
  loader->Finalize();
  EXPECT_EQ(gCalls, (std::vector<int>{1, 2, -2, -3, -1}));
  loader->Finalize();  // nothing left, nothing runs again
  EXPECT_EQ(gCalls.size(), 5u);
  loader.reset();
  EXPECT_EQ(gCalls.size(), 5u);
  nbUnitsLoader()->Initialize();  // the process-wide loader stays initialized for the program
}

// --- Binding ------------------------------------------------------------------------

TEST(GdiPlusBinding, LoadsOnFirstUseAndRetriesWhileMissing) {
  ASSERT_TRUE(nbIsGdiPlusAvailable());
  EXPECT_NE(nbgp::GdipCloneBitmapAreaI, nullptr);  // the last entry point is bound too
  nbUnloadGdiPlus();
  EXPECT_EQ(nbgp::GdipAlloc, nullptr);
  win::SetLibraryMissing(u"gdiplus.dll", win::TRUE);
  EXPECT_FALSE(nbIsGdiPlusAvailable());
  EXPECT_FALSE(nbIsGdiPlusAvailable());
  win::SetLibraryMissing(u"gdiplus.dll", win::FALSE);
  EXPECT_TRUE(nbIsGdiPlusAvailable());  // tried again on the next call
  nbEnsurePngEncoder();
  EXPECT_EQ(nbPngEncoder(), win::gdiplus::CLSID_PngEncoder);
}

TEST(GdiPlusBinding, ColorToArgb) {
  EXPECT_EQ(nbColorToGpArgb(clNone, 255), 0u);
  EXPECT_EQ(nbColorToGpArgb(clRed, 128), 0x80FF0000u);
  EXPECT_EQ(nbColorToGpArgb(TColor(0x00332211), 255), 0xFF112233u);
  EXPECT_EQ(nbColorToGpArgb(clBtnFace, 255), 0xFFF0F0F0u);  // system colours are resolved
}

TEST(GdiPlusBinding, GradientFillsTheRectangle) {
  ASSERT_TRUE(nbIsGdiPlusAvailable());
  Owned<TBitmap> b(MakeBitmap(10, 4, pf32bit, std::vector<Cardinal>(40, 0)));
  TnbGpGraphics* g{};
  ASSERT_EQ(nbgp::GdipCreateFromHDC(b->Canvas()->Handle(), &g), win::gdiplus::Ok);
  EXPECT_TRUE(nbGpIsRectVisible(g, Rect(0, 0, 10, 4)));
  EXPECT_FALSE(nbGpIsRectVisible(g, Rect(20, 20, 30, 30)));
  nbGpFillGradientRect(g, Rect(0, 0, 10, 4), clBlack, clWhite, win::gdiplus::LinearGradientModeHorizontal);
  nbgp::GdipDeleteGraphics(g);
  const Cardinal* row = static_cast<const Cardinal*>(b->ScanLine(1));
  EXPECT_LT(row[0] & 0xFF, 0x20u);
  EXPECT_GT(row[9] & 0xFF, 200u);
  EXPECT_LT(row[4] & 0xFF, row[6] & 0xFF);
}

// --- GDI+ images ------------------------------------------------------------------------

TEST(GPImage, ShortStreamsAreEmptyAndBitmapFilesLoadAsBitmaps) {
  Owned<TMemoryStream> s(New<TMemoryStream>());
  const char thirteen[13] = "\x89PNG\r\n\x1a\n0000";
  s->WriteBuffer(thirteen, 13);
  s->SetPosition(0);
  Owned<TnbGPImage> empty(CreateFrom(nbGPImageClass(), &TnbGPImage::CreateFromStream, s.get()));
  EXPECT_TRUE(empty->Empty());

  Owned<TBitmap> b(MakeBitmap(3, 2, pf24bit, {0x0000FF, 0x00FF00, 0xFF0000, 1, 2, 3}));
  Owned<TMemoryStream> bmp(New<TMemoryStream>());
  b->SaveToStream(bmp.get());
  bmp->SetPosition(0);
  Owned<TnbGPImage> image(CreateFrom(nbGPImageClass(), &TnbGPImage::CreateFromStream, bmp.get()));
  ASSERT_EQ(image->Width(), 3);
  ASSERT_EQ(image->Height(), 2);
  const TnbRGBColors px = image->GetBitmapBits();
  EXPECT_EQ(px[0], 0xFF0000FFu);  // a 24-bit picture is opaque
  EXPECT_EQ(px[2], 0xFFFF0000u);
  EXPECT_EQ(px[5], 0xFF000003u);
}

TEST(GPImage, EnlargingSamplesOneColumnAndRowLess) {
  // a 16 x 16 blue image with a red last column and row
  std::vector<Cardinal> px(256, 0xFF0000FF);
  for (int i = 0; i < 16; ++i) px[size_t(i) * 16 + 15] = px[15 * 16 + size_t(i)] = 0xFFFF0000;
  Owned<TBitmap> src(MakeBitmap(16, 16, pf32bit, px));
  Owned<TnbGPImage> image(CreateFrom(nbGPImageClass(), &TnbGPImage::CreateFromBitmap, src.get()));
  // the red of the top right pixel drawn at a size
  auto redIn = [&](Integer Size) {
    Owned<TBitmap> dst(MakeBitmap(Size, Size, pf32bit, std::vector<Cardinal>(size_t(Size * Size), 0xFFFFFFFF)));
    image->Draw(dst->Canvas()->Handle(), Rect(0, 0, Size, Size));
    return static_cast<const Cardinal*>(dst->ScanLine(0))[Size - 1] >> 16 & 0xFF;
  };
  // 15 x 15 source pixels sampled: the last column is never reached whole
  EXPECT_LT(redIn(32), 0x80u);
  EXPECT_GT(redIn(32), 0u);
  EXPECT_EQ(redIn(16), 0xFFu);  // at its own size every pixel is itself
}

TEST(GPImage, CompositionMixesEveryChannel) {
  Owned<TBitmap> a(MakeBitmap(2, 1, pf32bit, {0xFF000000, 0x00000000}));
  Owned<TBitmap> b(MakeBitmap(2, 1, pf32bit, {0xFFFFFFFF, 0x80402010}));
  Owned<TnbGPImage> ia(CreateFrom(nbGPImageClass(), &TnbGPImage::CreateFromBitmap, a.get()));
  Owned<TnbGPImage> ib(CreateFrom(nbGPImageClass(), &TnbGPImage::CreateFromBitmap, b.get()));
  Owned<TnbGPImage> mix(ia->MakeComposition(ib.get(), 128));
  ASSERT_TRUE(mix);
  const TnbRGBColors px = mix->GetBitmapBits();
  EXPECT_EQ(px[0], 0xFF808080u);  // round(0.498 * 0 + 0.502 * 255) = 128
  EXPECT_EQ(px[1], 0x40201008u);
}

// --- PNG graphic -----------------------------------------------------------------------

std::vector<Cardinal> AlphaPixels() {
  // opaque, half-transparent (premultiplied) and clear pixels
  return {0xFFFF0000, 0xFF00FF00, 0x80800000, 0x00000000, 0xFF0000FF, 0x80008080};
}

TEST(PNGImage, SavesLoadsAndComparesWithAlphaKept) {
  Owned<TBitmap> b(MakeBitmap(3, 2, pf32bit, AlphaPixels()));
  Owned<TnbPNGImage> png(New<TnbPNGImage>());
  png->Assign(b.get());
  EXPECT_EQ(png->Width(), 3);
  EXPECT_TRUE(png->IsAlphaUsed());
  Owned<TMemoryStream> s(New<TMemoryStream>());
  png->SaveToStream(s.get());
  ASSERT_GT(s->Size(), 8);
  EXPECT_EQ(std::memcmp(s->Memory(), "\x89PNG", 4), 0);
  s->SetPosition(0);
  Owned<TnbPNGImage> back(New<TnbPNGImage>());
  back->LoadFromStream(s.get());
  EXPECT_TRUE(back->Compare(png.get()));
  EXPECT_TRUE(back->IsAlphaUsed());

  // to a bitmap and back, alpha kept
  Owned<TBitmap> out(New<TBitmap>());
  out->Assign(back.get());
  EXPECT_EQ(out->PixelFormat(), pf32bit);
  EXPECT_EQ(static_cast<const Cardinal*>(out->ScanLine(0))[2], 0x80800000u);
  EXPECT_EQ(static_cast<const Cardinal*>(out->ScanLine(1))[2], 0x80008080u);

  // a pixel differs: not equal
  std::vector<Cardinal> other = AlphaPixels();
  other[3] = 0x01000000;
  Owned<TBitmap> ob(MakeBitmap(3, 2, pf32bit, other));
  Owned<TnbPNGImage> opng(New<TnbPNGImage>());
  opng->Assign(ob.get());
  EXPECT_FALSE(opng->Compare(png.get()));
}

TEST(PNGImage, EmptyAndOpaqueCases) {
  Owned<TnbPNGImage> e1(New<TnbPNGImage>()), e2(New<TnbPNGImage>());
  EXPECT_TRUE(e1->Empty());
  EXPECT_TRUE(e1->Compare(e2.get()));
  Owned<TMemoryStream> s(New<TMemoryStream>());
  e1->SaveToStream(s.get());
  EXPECT_EQ(s->Size(), 0);

  Owned<TBitmap> b24(MakeBitmap(3, 2, pf24bit, AlphaPixels()));
  Owned<TnbPNGImage> opaque(New<TnbPNGImage>());
  opaque->Assign(b24.get());
  EXPECT_FALSE(opaque->IsAlphaUsed());
  EXPECT_FALSE(opaque->Compare(e1.get()));  // sizes differ

  e1->Assign(opaque.get());  // a clone
  EXPECT_TRUE(e1->Compare(opaque.get()));
  s->Clear();
  e1->LoadFromStream(s.get());  // an empty stream empties it
  EXPECT_TRUE(e1->Empty());
}

TEST(PNGImage, DataThatIsNoPictureRaisesAndKeepsTheImage) {
  Owned<TBitmap> b(MakeBitmap(3, 2, pf32bit, AlphaPixels()));
  Owned<TnbPNGImage> png(New<TnbPNGImage>());
  png->Assign(b.get());
  const std::vector<std::vector<Byte>> cases = {
      {1, 2, 3},
      std::vector<Byte>(40, 0xEE),
      {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13, 'I', 'H', 'D', 'R', 0, 0, 0x7F},  // cut short
      {'B', 'M', 0xFF, 0xFF, 0xFF, 0x7F, 0, 0, 0, 0, 0x36, 0, 0, 0, 40, 0, 0, 0},                  // damaged BMP
  };
  for (const auto& bytes : cases) {
    Owned<TMemoryStream> s(New<TMemoryStream>());
    s->WriteBuffer(bytes.data(), Integer(bytes.size()));
    s->SetPosition(0);
    EXPECT_THROW(png->LoadFromStream(s.get()), EInvalidGraphic) << bytes.size();
    EXPECT_EQ(png->Width(), 3);
  }
}

TEST(PNGImage, PictureReadFromAFormFile) {
  Owned<TBitmap> b(MakeBitmap(3, 2, pf32bit, AlphaPixels()));
  Owned<TnbPNGImage> png(New<TnbPNGImage>());
  png->Assign(b.get());
  Owned<TImage> image(New<TImage>(nullptr));
  image->SetName(u"Image1");
  image->Picture()->SetGraphic(png.get());
  Owned<TMemoryStream> form(New<TMemoryStream>());
  WriteComponentToStream(form.get(), image.get());
  form->SetPosition(0);
  Owned<TImage> back(New<TImage>(nullptr));
  ReadComponentFromStream(form.get(), back.get());
  TnbPNGImage* read = dynamic_cast<TnbPNGImage*>(back->Picture()->Graphic());
  ASSERT_NE(read, nullptr);
  EXPECT_TRUE(read->Compare(png.get()));
  EXPECT_EQ(ClassOf<TPicture>()->FindExtension(u"png").Class(), TnbPNGImage::StaticClass());
}

TEST(PNGImage, DrawsWithPerPixelAlpha) {
  Owned<TBitmap> b(MakeBitmap(3, 2, pf32bit, AlphaPixels()));
  Owned<TnbPNGImage> png(New<TnbPNGImage>());
  png->Assign(b.get());
  Owned<TBitmap> dst(MakeBitmap(3, 2, pf32bit, std::vector<Cardinal>(6, 0x00FFFFFF)));
  dst->Canvas()->Draw(0, 0, png.get());
  const Cardinal* top = static_cast<const Cardinal*>(dst->ScanLine(0));
  EXPECT_EQ(top[0] & 0xFFFFFF, 0xFF0000u);
  EXPECT_EQ(top[2] & 0xFFFFFF, 0xFF7F7Fu);  // half red over white
  const Cardinal* bottom = static_cast<const Cardinal*>(dst->ScanLine(1));
  EXPECT_EQ(bottom[0] & 0xFFFFFF, 0xFFFFFFu);  // clear
  EXPECT_EQ(bottom[1] & 0xFFFFFF, 0x0000FFu);
}

// --- Without GDI+ ------------------------------------------------------------------------

// The unit started again on a machine without GDI+ (and back afterwards). A
// PNG file and a PNG picture in a form file are made first, while GDI+ works.
class GdiPlusMissing : public ::testing::Test {
 protected:
  void SetUp() override {
    MakeFiles();
    nbGDIPlusClassesFinalize();
    nbUnloadGdiPlus();
    win::SetLibraryMissing(u"gdiplus.dll", win::TRUE);
    nbGDIPlusClassesInitialize();
  }
  // Its images are gone before GDI+ is.
  void MakeFiles() {
    Owned<TBitmap> b(MakeBitmap(3, 2, pf32bit, AlphaPixels()));
    Owned<TnbPNGImage> png(New<TnbPNGImage>());
    png->Assign(b.get());
    FPng.reset(New<TMemoryStream>());
    png->SaveToStream(FPng.get());
    FPng->SetPosition(0);
    Owned<TImage> image(New<TImage>(nullptr));
    image->SetName(u"Image1");
    image->Picture()->SetGraphic(png.get());
    FForm.reset(New<TMemoryStream>());
    WriteComponentToStream(FForm.get(), image.get());
    FForm->SetPosition(0);
  }
  void TearDown() override {
    nbGDIPlusClassesFinalize();
    win::SetLibraryMissing(u"gdiplus.dll", win::FALSE);
    nbGDIPlusClassesInitialize();
  }
  Owned<TMemoryStream> FPng, FForm;
};

TEST_F(GdiPlusMissing, ImagesHoldNothingAndDrawNothing) {
  ASSERT_FALSE(nbIsGdiPlusAvailable());
  EXPECT_EQ(nbGPImageClass().Class(), TnbGPNullImage::StaticClass());
  Owned<TBitmap> b(MakeBitmap(3, 2, pf32bit, AlphaPixels()));
  Owned<TBitmap> target(MakeBitmap(4, 4, pf32bit, std::vector<Cardinal>(16, 0xFF123456)));
  auto untouched = [&] {
    for (Integer y = 0; y < 4; ++y)
      for (Integer x = 0; x < 4; ++x)
        if (static_cast<const Cardinal*>(target->ScanLine(y))[x] != 0xFF123456) return false;
    return true;
  };

  Owned<TnbGPImage> fromBitmap(CreateFrom(nbGPImageClass(), &TnbGPImage::CreateFromBitmap, b.get()));
  Owned<TnbGPImage> fromStream(CreateFrom(nbGPImageClass(), &TnbGPImage::CreateFromStream, FPng.get()));
  for (TnbGPImage* image : {fromBitmap.get(), fromStream.get()}) {
    EXPECT_EQ(image->Handle(), nullptr);
    EXPECT_TRUE(image->Empty());
    EXPECT_EQ(image->Width(), 0);
    EXPECT_EQ(image->Height(), 0);
    image->Draw(target->Canvas()->Handle(), Rect(0, 0, 4, 4));
    EXPECT_TRUE(untouched());
    Owned<TnbGPImage> clone(image->Clone());
    EXPECT_TRUE(clone->Empty());
    Owned<TMemoryStream> saved(New<TMemoryStream>());
    image->SaveToStream(saved.get());
    EXPECT_EQ(saved->Size(), 0);
    Owned<TBitmap> asBitmap(image->GetAsBitmap());
    EXPECT_TRUE(asBitmap->Empty());
    Owned<TnbGPImage> mix(image->MakeComposition(fromBitmap.get(), 128));
    EXPECT_TRUE(!mix || mix->Empty());
  }
  EXPECT_EQ(FPng->Position(), 0) << "the stream is not read";

  // The PNG graphic: made from a bitmap or loaded from a PNG file it is
  // empty, without an error; it saves no bytes and draws nothing.
  Owned<TnbPNGImage> png(New<TnbPNGImage>());
  png->Assign(b.get());
  EXPECT_TRUE(png->Empty());
  png->LoadFromStream(FPng.get());
  EXPECT_TRUE(png->Empty());
  EXPECT_EQ(png->Handle(), nullptr);
  EXPECT_FALSE(png->IsAlphaUsed());
  target->Canvas()->Draw(0, 0, png.get());
  png->StretchDraw(target->Canvas()->Handle(), Rect(0, 0, 4, 4), Rect(0, 0, 3, 2));
  png->DrawEx(nullptr, Rect(0, 0, 4, 4), Rect(0, 0, 3, 2));
  EXPECT_TRUE(untouched());
  Owned<TMemoryStream> saved(New<TMemoryStream>());
  png->SaveToStream(saved.get());
  EXPECT_EQ(saved->Size(), 0);
  Owned<TnbPNGImage> other(New<TnbPNGImage>());
  EXPECT_TRUE(png->Compare(other.get()));

  // No PNG format is registered: a PNG picture of a form file is not loaded.
  EXPECT_EQ(GetClass(u"TnbPNGImage"), nullptr);
  EXPECT_EQ(ClassOf<TPicture>()->FindExtension(u"png").Class(), nullptr);
  Owned<TImage> back(New<TImage>(nullptr));
  ReadComponentFromStream(FForm.get(), back.get());
  EXPECT_EQ(back->Picture()->Graphic(), nullptr);
}

}  // namespace
