#include <gtest/gtest.h>

#include "platform/backend/Headless.h"

#include "platform/classes/Filer.h"
#include "platform/classes/FormText.h"
#include "platform/classes/Resources.h"
#include "platform/win/Gdi.h"
#include "platform/win/ImageList.h"
#include "platform/vcl/ImgList.h"
#include "tests/platform/vcl/VclTestSupport.h"

using namespace vcltest;

namespace {

Owned<TImageList> MakeList(int W = 16, int H = 16) {
  return Owned<TImageList>(static_cast<TImageList*>(NewBy<TImageList>(&TCustomImageList::CreateSize, W, H)));
}

// A strip of 16 x 16 cells of the given colours.
Owned<TBitmap> Strip(std::initializer_list<TColor> Colors) {
  Owned<TBitmap> b = MakeBitmap(16 * int(Colors.size()), 16, clWhite, pf24bit);
  int x = 0;
  for (TColor c : Colors) {
    b->Canvas()->Brush()->SetColor(c);
    b->Canvas()->FillRect(TRect{x, 0, x + 16, 16});
    x += 16;
  }
  return b;
}

// The colour at the centre of image Index, drawn on white.
TColor ImageColor(TCustomImageList* List, int Index) {
  Owned<TBitmap> b = MakeBitmap(16, 16, clWhite);
  List->Draw(b->Canvas(), 0, 0, Index);
  return Px(b.get(), 8, 8);
}

std::vector<TColor> Colors(TCustomImageList* List) {
  std::vector<TColor> v;
  for (int i = 0; i < List->Count(); ++i) v.push_back(ImageColor(List, i));
  return v;
}

}  // namespace

TEST(ImageList, AddInsertMoveDeleteReplace) {
  Owned<TImageList> list = MakeList();
  EXPECT_EQ(list->Count(), 0);
  Owned<TBitmap> strip = Strip({clRed, clLime, clBlue});
  EXPECT_EQ(list->Add(strip.get(), nullptr), 0);
  EXPECT_EQ(Colors(list.get()), (std::vector<TColor>{clRed, clLime, clBlue}));
  list->Insert(0, Strip({clYellow}).get(), nullptr);
  list->Insert(list->Count(), Strip({clAqua}).get(), nullptr);  // at Count: appends
  EXPECT_EQ(Colors(list.get()), (std::vector<TColor>{clYellow, clRed, clLime, clBlue, clAqua}));
  EXPECT_THROW(list->Insert(list->Count() + 1, Strip({clNavy}).get(), nullptr), EInvalidOperation);
  list->Insert(1, Strip({clNavy, clTeal}).get(), nullptr);  // several images keep their order
  EXPECT_EQ(Colors(list.get()), (std::vector<TColor>{clYellow, clNavy, clTeal, clRed, clLime, clBlue, clAqua}));
  list->Move(0, 3);
  EXPECT_EQ(Colors(list.get()), (std::vector<TColor>{clNavy, clTeal, clRed, clYellow, clLime, clBlue, clAqua}));
  list->Move(5, 1);
  EXPECT_EQ(Colors(list.get()), (std::vector<TColor>{clNavy, clBlue, clTeal, clRed, clYellow, clLime, clAqua}));
  list->Delete(1);
  list->Replace(0, Strip({clPurple}).get(), nullptr);
  EXPECT_EQ(Colors(list.get()), (std::vector<TColor>{clPurple, clTeal, clRed, clYellow, clLime, clAqua}));
  EXPECT_THROW(list->Delete(list->Count()), EInvalidOperation);
  EXPECT_THROW(list->Move(0, 6), EInvalidOperation);
  EXPECT_THROW(list->Add(MakeBitmap(8, 8, clRed).get(), nullptr), EInvalidOperation);
  list->Clear();
  EXPECT_EQ(list->Count(), 0);
}

TEST(ImageList, MaskedImagesDrawTransparently) {
  Owned<TImageList> list = MakeList();
  // Red with an olive centre and a fuchsia bottom-left corner.
  Owned<TBitmap> img = MakeBitmap(16, 16, clRed, pf24bit);
  img->Canvas()->Brush()->SetColor(clOlive);
  img->Canvas()->FillRect(TRect{6, 6, 10, 10});
  img->Canvas()->SetPixels(0, 15, clFuchsia);
  list->AddMasked(img.get(), clOlive);
  list->AddMasked(img.get(), clDefault);  // the corner's colour
  list->Add(img.get(), nullptr);
  Owned<TBitmap> dst = MakeBitmap(48, 16, clLime);
  for (int i = 0; i < 3; ++i) list->Draw(dst->Canvas(), 16 * i, 0, i);
  EXPECT_EQ(Px(dst.get(), 8, 8), clLime);
  EXPECT_EQ(Px(dst.get(), 1, 1), clRed);
  EXPECT_EQ(Px(dst.get(), 16 + 8, 8), clOlive);
  EXPECT_EQ(Px(dst.get(), 16 + 0, 15), clLime);
  EXPECT_EQ(Px(dst.get(), 32 + 8, 8), clOlive);  // no mask: all drawn
  // Replacing with a mask colour.
  list->ReplaceMasked(2, img.get(), clRed);
  Owned<TBitmap> dst2 = MakeBitmap(16, 16, clLime);
  list->Draw(dst2->Canvas(), 0, 0, 2);
  EXPECT_EQ(Px(dst2.get(), 1, 1), clLime);
  EXPECT_EQ(Px(dst2.get(), 8, 8), clOlive);
  // The image and its mask read back.
  Owned<TBitmap> image(New<TBitmap>()), mask(New<TBitmap>());
  list->GetImages(0, image.get(), mask.get());
  EXPECT_EQ(mask->Width(), 16);
  EXPECT_EQ(Px(mask.get(), 8, 8), clWhite);  // 1 = transparent
  EXPECT_EQ(Px(mask.get(), 1, 1), clBlack);
  EXPECT_EQ(Px(image.get(), 1, 1), clRed);
  EXPECT_NE(list->GetImageBitmap(), nullptr);
  EXPECT_NE(list->GetMaskBitmap(), nullptr);
  DumpIfFailed(dst.get());
}

TEST(ImageList, DisabledImagesAreEmbossed) {
  Owned<TImageList> list = MakeList();
  Owned<TBitmap> img = MakeBitmap(16, 16, clWhite, pf24bit);
  img->Canvas()->Brush()->SetColor(clBlack);
  img->Canvas()->FillRect(TRect{4, 4, 8, 8});
  list->Add(img.get(), nullptr);
  Owned<TBitmap> dst = MakeBitmap(20, 20, clLime);
  list->Draw(dst->Canvas(), 0, 0, 0, false);
  EXPECT_EQ(Px(dst.get(), 4, 4), ColorToRGB(clBtnShadow));
  EXPECT_EQ(Px(dst.get(), 8, 8), ColorToRGB(clBtnHighlight));  // one down and right
  EXPECT_EQ(Px(dst.get(), 1, 1), clLime);                       // white stays clear
  EXPECT_EQ(dst->Canvas()->Brush()->Color(), clLime);
  DumpIfFailed(dst.get());
}

TEST(ImageList, ChangeLinksAndUpdates) {
  Owned<TImageList> list = MakeList();
  TCounter onChange, linked;
  list->SetOnChange(TNotifyEvent(&onChange, &TCounter::Notify));
  TChangeLink* link = New<TChangeLink>();
  link->SetOnChange(TNotifyEvent(&linked, &TCounter::Notify));
  list->RegisterChanges(link);
  EXPECT_EQ(link->Sender(), list.get());
  Owned<TBitmap> img = Strip({clRed});
  list->Add(img.get(), nullptr);
  EXPECT_EQ(linked.Count, 1);
  EXPECT_EQ(onChange.Count, 1);
  list->BeginUpdate();
  list->Add(img.get(), nullptr);
  list->Add(img.get(), nullptr);
  EXPECT_EQ(linked.Count, 1);
  list->EndUpdate();
  EXPECT_EQ(linked.Count, 2);
  list->EndUpdate();  // unbalanced: nothing more
  EXPECT_EQ(linked.Count, 2);
  Free(link);  // unregisters itself
  list->Add(img.get(), nullptr);
  EXPECT_EQ(onChange.Count, 3);
  TChangeLink* survivor = New<TChangeLink>();
  list->RegisterChanges(survivor);
  list.reset();
  EXPECT_EQ(survivor->Sender(), nullptr);
  Free(survivor);
}

TEST(ImageList, FormDataRoundTrips) {
  Owned<TImageList> list = MakeList(24, 24);
  Owned<TBitmap> img = MakeBitmap(48, 24, clRed, pf24bit);
  img->Canvas()->Brush()->SetColor(clBlue);
  img->Canvas()->FillRect(TRect{24, 0, 48, 24});
  list->AddMasked(img.get(), clNone);
  list->SetBkColor(clWhite);
  Owned<TMemoryStream> out(New<TMemoryStream>());
  WriteComponentToStream(out.get(), list.get());
  RawByteString text = ObjectBinaryToText(StreamBytes(out.get()));
  EXPECT_NE(text.find("Height = 24"), std::string::npos);
  EXPECT_NE(text.find("BkColor = clWhite"), std::string::npos);
  EXPECT_NE(text.find("Bitmap = {"), std::string::npos);
  out->SetPosition(0);
  Owned<TImageList> back = MakeList();
  ReadComponentFromStream(out.get(), back.get());
  EXPECT_EQ(back->Width(), 24);
  EXPECT_EQ(back->Count(), 2);
  EXPECT_TRUE(back->Equal(list.get()));
  Owned<TBitmap> dst = MakeBitmap(24, 24, clLime);
  back->Draw(dst->Canvas(), 0, 0, 1);
  EXPECT_EQ(Px(dst.get(), 12, 12), clBlue);
  // An empty list writes no data.
  Owned<TImageList> empty = MakeList();
  Owned<TMemoryStream> e(New<TMemoryStream>());
  WriteComponentToStream(e.get(), empty.get());
  EXPECT_EQ(ObjectBinaryToText(StreamBytes(e.get())).find("Bitmap"), std::string::npos);
}

TEST(ImageList, AssignMaskedAndSharedHandles) {
  Owned<TImageList> a = MakeList();
  a->Add(Strip({clRed, clBlue}).get(), nullptr);
  Owned<TImageList> b = MakeList(32, 32);
  b->Assign(a.get());
  EXPECT_EQ(b->Width(), 16);
  EXPECT_EQ(Colors(b.get()), (std::vector<TColor>{clRed, clBlue}));
  b->SetMasked(false);
  EXPECT_EQ(Colors(b.get()), (std::vector<TColor>{clRed, clBlue}));
  Owned<TImageList> c = MakeList();
  c->SetShareImages(true);
  c->SetHandle(a->Handle());
  EXPECT_EQ(c->Count(), 2);
  c.reset();  // a shared handle is not destroyed
  EXPECT_EQ(win::ImageList_GetImageCount(a->Handle()), 2);
  Owned<TBitmap> one(New<TBitmap>());
  EXPECT_TRUE(a->GetBitmap(1, one.get()));
  EXPECT_EQ(Px(one.get(), 3, 3), clBlue);
  EXPECT_FALSE(a->GetBitmap(2, one.get()));
}

TEST(DragImageList, ShowsTheImageOverTheScreenWhileDragging) {
  backend::THeadlessBackend screen(200, 150);
  screen.Compose();
  const win::COLORREF desk = screen.Pixel(0, 0);
  Owned<TImageList> list = MakeList();
  list->Add(Strip({clRed, clBlue}).get(), nullptr);
  EXPECT_FALSE(list->SetDragImage(5, 0, 0));
  EXPECT_TRUE(list->SetDragImage(1, 2, 3));
  EXPECT_EQ(list->GetHotSpot().X, 2);
  EXPECT_FALSE(list->DragMove(20, 20));  // no drag yet
  ASSERT_TRUE(list->BeginDrag(nullptr, 10, 10));
  EXPECT_TRUE(list->Dragging());
  EXPECT_TRUE(list->DragMove(50, 40));
  screen.Compose();
  // the image's top-left corner is the position less the hot spot
  EXPECT_EQ(screen.Pixel(48, 37), win::RGB(0, 0, 255));
  EXPECT_EQ(screen.Pixel(63, 52), win::RGB(0, 0, 255));
  EXPECT_EQ(screen.Pixel(47, 37), desk);
  EXPECT_EQ(screen.Pixel(64, 52), desk);
  list->HideDragImage();
  screen.Compose();
  EXPECT_EQ(screen.Pixel(50, 40), desk);
  list->ShowDragImage();
  screen.Compose();
  EXPECT_EQ(screen.Pixel(50, 40), win::RGB(0, 0, 255));
  // during the drag a new image is laid over as the cursor image
  EXPECT_TRUE(list->SetDragImage(0, 0, 0));
  screen.Compose();
  EXPECT_EQ(screen.Pixel(50, 40), win::RGB(255, 0, 0));
  EXPECT_EQ(screen.Pixel(49, 39), win::RGB(0, 0, 255));
  EXPECT_TRUE(list->EndDrag());
  EXPECT_FALSE(list->Dragging());
  EXPECT_FALSE(list->EndDrag());
  EXPECT_FALSE(list->DragMove(1, 1));
  screen.Compose();
  EXPECT_EQ(screen.Pixel(50, 40), desk);
  // a list freed while dragging takes its image off the screen
  ASSERT_TRUE(list->BeginDrag(nullptr, 100, 100));
  list.reset();
  screen.Compose();
  EXPECT_EQ(screen.Pixel(100, 100), desk);
  EXPECT_EQ(win::ImageList_GetDragImage(nullptr, nullptr), nullptr);
}

TEST(ImageList, LoadsBitmapResources) {
  // An RT_BITMAP resource holds the bitmap file without its 14-byte header.
  Owned<TBitmap> strip = Strip({clRed, clBlue});
  Owned<TMemoryStream> s(New<TMemoryStream>());
  strip->SaveToStream(s.get());
  RawByteString packed = StreamBytes(s.get()).substr(14);
  const TResourceEntry entries[] = {
      {nullptr, 2, u"TESTSTRIP", 0, reinterpret_cast<const Byte*>(packed.data()), packed.size()}};
  RegisterResources(entries, 1);
  struct TUnregister {
    const TResourceEntry* E;
    ~TUnregister() { UnregisterResources(E, 1); }
  } unregister{entries};
  Owned<TBitmap> b(New<TBitmap>());
  b->LoadFromResourceName(HInstance, u"teststrip");
  EXPECT_EQ(b->Width(), 32);
  EXPECT_EQ(Px(b.get(), 20, 5), clBlue);
  EXPECT_THROW(b->LoadFromResourceName(HInstance, u"NOSUCHBITMAP"), EResNotFound);
  Owned<TImageList> list = MakeList(8, 8);
  EXPECT_TRUE(list->GetResource(rtBitmap, u"TESTSTRIP", 0, {}, clNone));
  EXPECT_EQ(list->Width(), 16);
  EXPECT_EQ(Colors(list.get()), (std::vector<TColor>{clRed, clBlue}));
  EXPECT_TRUE(list->ResInstLoad(HInstance, rtBitmap, u"TESTSTRIP", clNone));
  EXPECT_EQ(list->Count(), 4);
  EXPECT_FALSE(list->ResourceLoad(rtBitmap, u"NOSUCHBITMAP", clNone));
  EXPECT_FALSE(list->ResourceLoad(rtIcon, u"TESTSTRIP", clNone));
}

TEST(ImageList, OverlaysDrawOverTheImage) {
  Owned<TImageList> list = MakeList();
  Owned<TBitmap> badge = MakeBitmap(16, 16, clLime, pf24bit);
  badge->Canvas()->Brush()->SetColor(clBlue);
  badge->Canvas()->FillRect(TRect{0, 0, 4, 4});
  list->Add(Strip({clRed}).get(), nullptr);
  list->AddMasked(badge.get(), clLime);
  EXPECT_FALSE(list->Overlay(5, 0));
  EXPECT_FALSE(list->Overlay(1, 15));
  EXPECT_TRUE(list->Overlay(1, 0));
  Owned<TBitmap> dst = MakeBitmap(16, 16, clWhite);
  list->DrawOverlay(dst->Canvas(), 0, 0, 0, 0);
  EXPECT_EQ(Px(dst.get(), 1, 1), clBlue);
  EXPECT_EQ(Px(dst.get(), 8, 8), clRed);
}
