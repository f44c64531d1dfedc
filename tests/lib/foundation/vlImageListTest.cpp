// The library's image list: infos kept in step with the system list, strips,
// masks, 32-bit alpha, the "ImageInfo" form data, drawing.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "lib/foundation/vlImageList.h"
#include "platform/classes/Filer.h"
#include "platform/classes/FormText.h"
#include "platform/classes/Streams.h"
#include "platform/win/Gdi.h"
#include "platform/win/ImageList.h"
#include "tests/lib/foundation/ReferencePicture.h"

namespace {

using foundation_test::ExpectMatchesReference;
using namespace win;

template <class T>
using Owned = std::unique_ptr<T, TObjectFree>;

struct ChangeCounter {
  Integer Count = 0;
  void Changed(TObject*) { ++Count; }
};

// W x H 24-bit pixels: image k of a strip is filled with Colors[k], with a
// one-pixel magenta frame.
TBitmap* Strip(const std::vector<TColor>& Colors, Integer Size = 16) {
  TBitmap* b = vlNewBitmap(Size * Integer(Colors.size()), Size, pf24bit);
  for (size_t k = 0; k < Colors.size(); ++k) {
    const Integer x = Integer(k) * Size;
    b->Canvas()->Brush()->SetColor(TColor(0xFF00FF));
    b->Canvas()->FillRect(Rect(x, 0, x + Size, Size));
    b->Canvas()->Brush()->SetColor(Colors[k]);
    b->Canvas()->FillRect(Rect(x + 1, 1, x + Size - 1, Size - 1));
  }
  return b;
}

// A 16 x 16 32-bit image: a square whose alpha falls from the left to the right.
TBitmap* AlphaImage() {
  TBitmap* b = vlNewBitmap32(16, 16, true);
  for (Integer y = 2; y < 14; ++y) {
    Cardinal* row = static_cast<Cardinal*>(b->ScanLine(y));
    for (Integer x = 2; x < 14; ++x) {
      const Cardinal a = Cardinal(255 - (x - 2) * 20);
      row[x] = a << 24 | (0x20 * a / 255) << 16 | (0x80 * a / 255) << 8 | (0xE0 * a / 255);
    }
  }
  return b;
}

Cardinal CentreOf(TBitmap* B) { return Cardinal(B->Canvas()->Pixels(B->Width() / 2, B->Height() / 2)); }

// The centre colour of each system-list image and of each info.
std::vector<Cardinal> SystemColors(TvlImageList* L) {
  std::vector<Cardinal> out;
  for (Integer i = 0; i < L->Count(); ++i) {
    Owned<TBitmap> image(New<TBitmap>());
    TvlImageList::GetImageInfo(L->Handle(), i, nullptr, image.get());
    out.push_back(CentreOf(image.get()));
  }
  return out;
}

std::vector<Cardinal> InfoColors(TvlImageList* L) {
  std::vector<Cardinal> out;
  for (Integer i = 0; i < L->ImageInfo()->Count(); ++i)
    out.push_back(CentreOf(L->ImageInfo()->Items(i)->Image()));
  return out;
}

const std::vector<TColor> RGBs = {TColor(0x0000FF), TColor(0x00FF00), TColor(0xFF0000)};
// as colour values (0x00BBGGRR)
const std::vector<Cardinal> RedGreenBlue = {0x0000FF, 0x00FF00, 0xFF0000};

TEST(vlImageList, StripsSplitIntoImages) {
  Owned<TvlImageList> list(New<TvlImageList>(nullptr));
  EXPECT_TRUE(list->AlphaBlending());
  Owned<TBitmap> strip(Strip(RGBs));
  EXPECT_EQ(list->AddMasked(strip.get(), TColor(0xFF00FF)), 0);
  EXPECT_EQ(list->Count(), 3);
  ASSERT_EQ(list->ImageInfo()->Count(), 3);
  EXPECT_EQ(InfoColors(list.get()), RedGreenBlue);
  EXPECT_EQ(SystemColors(list.get()), RedGreenBlue);
  EXPECT_EQ(list->ImageInfo()->Items(1)->MaskColor(), TColor(0xFF00FF));
  EXPECT_EQ(list->ImageInfo()->Items(1)->Image()->Width(), 16);
  // a bitmap that is no multiple of the image size is one info
  Owned<TBitmap> odd(vlNewBitmap(20, 16, pf24bit));
  list->Add(odd.get(), nullptr);
  EXPECT_EQ(list->ImageInfo()->Count(), 4);
  EXPECT_EQ(list->ImageInfo()->Items(3)->Image()->Width(), 20);
}

TEST(vlImageList, InsertMoveAndDeleteKeepTheInfosInStep) {
  Owned<TvlImageList> list(New<TvlImageList>(nullptr));
  Owned<TBitmap> strip(Strip(RGBs)), one(Strip({TColor(0x00FFFF)}));
  list->Add(strip.get(), nullptr);
  list->Insert(1, one.get(), nullptr);
  EXPECT_EQ(SystemColors(list.get()), (std::vector<Cardinal>{0x0000FF, 0x00FFFF, 0x00FF00, 0xFF0000}));
  EXPECT_EQ(InfoColors(list.get()), SystemColors(list.get()));
  list->Insert(list->Count(), one.get(), nullptr);  // at Count: appended
  EXPECT_EQ(list->Count(), 5);
  list->Insert(list->Count() + 1, one.get(), nullptr);  // beyond: nothing
  list->Insert(-1, one.get(), nullptr);
  EXPECT_EQ(list->Count(), 5);
  list->Move(0, 3);
  EXPECT_EQ(SystemColors(list.get()), (std::vector<Cardinal>{0x00FFFF, 0x00FF00, 0xFF0000, 0x0000FF, 0x00FFFF}));
  EXPECT_EQ(InfoColors(list.get()), SystemColors(list.get()));
  list->InsertMasked(0, strip.get(), clNone);  // a strip inserted keeps its order
  EXPECT_EQ(SystemColors(list.get())[0], 0x0000FFu);
  EXPECT_EQ(SystemColors(list.get())[2], 0xFF0000u);
  EXPECT_EQ(InfoColors(list.get()), SystemColors(list.get()));
  list->Delete(1);
  EXPECT_EQ(InfoColors(list.get()), SystemColors(list.get()));
  list->Replace(0, one.get(), nullptr);
  EXPECT_EQ(SystemColors(list.get())[0], 0x00FFFFu);
  EXPECT_EQ(InfoColors(list.get()), SystemColors(list.get()));
  list->Clear();
  EXPECT_EQ(list->Count(), 0);
  EXPECT_EQ(list->ImageInfo()->Count(), 0);
}

TEST(vlImageList, ChangesInsideAnUpdateAreToldOnce) {
  Owned<TvlImageList> list(New<TvlImageList>(nullptr));
  ChangeCounter changes;
  list->SetOnChange(TNotifyEvent(&changes, &ChangeCounter::Changed));
  Owned<TBitmap> strip(Strip(RGBs));
  list->BeginUpdate();
  list->Add(strip.get(), nullptr);
  list->Move(0, 2);
  EXPECT_EQ(changes.Count, 0);
  list->EndUpdate();
  EXPECT_EQ(changes.Count, 1);
  list->EndUpdate();  // without a BeginUpdate: nothing
  EXPECT_EQ(changes.Count, 1);
}

TEST(vlImageList, AlphaIsKeptThroughAddCopyAndStream) {
  Owned<TvlImageList> list(New<TvlImageList>(nullptr));
  Owned<TBitmap> image(AlphaImage());
  list->Add(image.get(), nullptr);
  const Cardinal want = static_cast<const Cardinal*>(image->ScanLine(8))[9];
  auto alphaOf = [&](TvlImageList* L) {
    Owned<TBitmap> got(New<TBitmap>());
    L->GetImage(0, got.get());
    EXPECT_EQ(got->PixelFormat(), pf32bit);
    return static_cast<const Cardinal*>(got->ScanLine(8))[9];
  };
  EXPECT_EQ(alphaOf(list.get()), want);

  Owned<TvlImageList> copy(New<TvlImageList>(nullptr));
  copy->AddImages(list.get());
  EXPECT_EQ(alphaOf(copy.get()), want);
  Owned<TvlImageList> assigned(New<TvlImageList>(nullptr));
  assigned->Assign(list.get());
  EXPECT_EQ(alphaOf(assigned.get()), want);
  EXPECT_EQ(assigned->AddImage(list.get(), 0), 1);
  EXPECT_EQ(assigned->AddImage(list.get(), 5), -1);
  EXPECT_EQ(assigned->AddImage(nullptr, 0), -1);

  for (Boolean compress : {false, true}) {
    list->SetCompressData(compress);
    list->SetName(u"Images");
    Owned<TMemoryStream> form(New<TMemoryStream>());
    WriteComponentToStream(form.get(), list.get());
    const RawByteString bytes(static_cast<const char*>(form->Memory()), size_t(form->Size()));
    EXPECT_NE(bytes.find("ImageInfo"), std::string::npos);
    EXPECT_NE(bytes.find("FormatVersion"), std::string::npos);
    EXPECT_EQ(bytes.find("BNBM") != std::string::npos, compress);
    form->SetPosition(0);
    Owned<TvlImageList> back(New<TvlImageList>(nullptr));
    ReadComponentFromStream(form.get(), back.get());
    EXPECT_EQ(back->Count(), 1);
    EXPECT_EQ(back->FormatVersion(), 1);
    EXPECT_EQ(alphaOf(back.get()), want) << "compressed " << compress;
    EXPECT_EQ(back->CompressData(), compress);
  }
}

TEST(vlImageList, FormWithOnlyTheSystemListDataLoads) {
  Owned<TImageList> old(New<TImageList>(nullptr));
  Owned<TBitmap> strip(Strip(RGBs));
  old->AddMasked(strip.get(), TColor(0xFF00FF));
  old->SetName(u"Images");
  Owned<TMemoryStream> form(New<TMemoryStream>());
  WriteComponentToStream(form.get(), old.get());
  form->SetPosition(0);
  Owned<TvlImageList> list(New<TvlImageList>(nullptr));
  ReadComponentFromStream(form.get(), list.get());
  EXPECT_EQ(list->Count(), 3);
  EXPECT_EQ(InfoColors(list.get()), RedGreenBlue);
  // saved again it writes the infos, not the system list's data
  Owned<TMemoryStream> again(New<TMemoryStream>());
  WriteComponentToStream(again.get(), list.get());
  const RawByteString bytes(static_cast<const char*>(again->Memory()), size_t(again->Size()));
  EXPECT_NE(bytes.find("ImageInfo"), std::string::npos);
  EXPECT_EQ(bytes.find("Bitmap"), std::string::npos);
}

TEST(vlImageList, ListsCompareByTheirImages) {
  Owned<TvlImageList> a(New<TvlImageList>(nullptr)), b(New<TvlImageList>(nullptr));
  EXPECT_TRUE(vlIsImageListsEqual(a.get(), b.get()));
  Owned<TBitmap> strip(Strip(RGBs));
  a->Add(strip.get(), nullptr);
  EXPECT_FALSE(vlIsImageListsEqual(a.get(), b.get()));
  b->Add(strip.get(), nullptr);
  EXPECT_TRUE(vlIsImageListsEqual(a.get(), b.get()));
  EXPECT_EQ(TvlImageList::GetPixelFormat(a->Handle()), 32);
}

TEST(vlImageList, WithoutAlphaBlendingDrawingGoesToTheSystemList) {
  Owned<TvlImageList> list(New<TvlImageList>(nullptr));
  Owned<TBitmap> strip(Strip(RGBs));
  list->AddMasked(strip.get(), TColor(0xFF00FF));
  list->SetAlphaBlending(false);
  Owned<TBitmap> a(vlNewBitmap32(16, 16, true)), b(vlNewBitmap32(16, 16, true));
  list->Draw(a->Canvas(), Rect(0, 0, 16, 16), 1);
  ImageList_Draw(list->Handle(), 1, b->Canvas()->Handle(), 0, 0, ILD_NORMAL);
  for (Integer y = 0; y < 16; ++y)
    EXPECT_EQ(std::memcmp(a->ScanLine(y), b->ScanLine(y), 64), 0) << y;
}

// A 32-bit image whose alpha is all 0 (a 24-bit picture in 32 bits): with
// alpha blending on it is drawn opaque, its mask colour (AddMasked) showing
// the background, also when an earlier drawing left other pixels in the
// work bitmaps.
TEST(vlImageList, ThirtyTwoBitImagesWithoutAlphaAreDrawn) {
  Owned<TBitmap> image(vlNewBitmap32(16, 16, true));
  for (Integer y = 0; y < 16; ++y) {
    Cardinal* row = static_cast<Cardinal*>(image->ScanLine(y));
    for (Integer x = 0; x < 16; ++x) row[x] = x < 4 ? 0x00FF00FF : 0x000000FF;  // magenta | blue, alpha 0
  }
  Owned<TBitmap> alpha(AlphaImage());
  struct Case {
    const char* Name;
    TColor MaskColor;
    Cardinal Left;  // what the left columns show over white
  } cases[] = {{"Add without a mask", clNone, 0xFF00FF}, {"AddMasked magenta", TColor(0xFF00FF), 0xFFFFFF}};
  for (const Case& c : cases) {
    Owned<TvlImageList> list(New<TvlImageList>(nullptr));
    list->Add(alpha.get(), nullptr);  // drawn first: the work bitmaps hold other pixels
    if (c.MaskColor == clNone)
      list->Add(image.get(), nullptr);
    else
      list->AddMasked(image.get(), c.MaskColor);
    ASSERT_TRUE(list->AlphaBlending());
    Owned<TBitmap> target(vlNewBitmap32(16, 16, true));
    list->Draw(target->Canvas(), Rect(0, 0, 16, 16), 0);
    target->Canvas()->Brush()->SetColor(clWhite);
    target->Canvas()->FillRect(Rect(0, 0, 16, 16));
    list->Draw(target->Canvas(), Rect(0, 0, 16, 16), 1);
    EXPECT_EQ(Cardinal(target->Canvas()->Pixels(10, 8)) & 0xFFFFFF, 0xFF0000u) << c.Name;  // blue, as TColor
    EXPECT_EQ(Cardinal(target->Canvas()->Pixels(1, 8)) & 0xFFFFFF, c.Left) << c.Name;
  }
}

TEST(vlImageListReference, MasksAlphaDisabledStretchedAndOverlays) {
  Owned<TvlImageList> list(New<TvlImageList>(nullptr));
  Owned<TBitmap> strip(Strip(RGBs)), alpha(AlphaImage());
  list->AddMasked(strip.get(), TColor(0xFF00FF));  // 0..2, masked by colour
  list->Add(alpha.get(), nullptr);                  // 3, alpha
  // 4: an explicit mask that clears a diagonal half
  Owned<TBitmap> mask(New<TBitmap>());
  mask->SetPixelFormat(pf1bit);
  mask->SetSize(16, 16);
  mask->Canvas()->Brush()->SetColor(clBlack);
  mask->Canvas()->FillRect(Rect(0, 0, 16, 16));
  for (Integer y = 0; y < 16; ++y)
    for (Integer x = 0; x < 16; ++x)
      if (x > y) mask->Canvas()->SetPixels(x, y, clWhite);
  Owned<TBitmap> yellow(Strip({TColor(0x00C0FF)}));
  list->Add(yellow.get(), mask.get());
  // 5: a small overlay mark
  Owned<TBitmap> mark(vlNewBitmap(16, 16, pf24bit));
  mark->Canvas()->Brush()->SetColor(TColor(0xFF00FF));
  mark->Canvas()->FillRect(Rect(0, 0, 16, 16));
  mark->Canvas()->Brush()->SetColor(clBlack);
  mark->Canvas()->FillRect(Rect(0, 10, 6, 16));
  list->AddMasked(mark.get(), TColor(0xFF00FF));
  list->Overlay(5, 0);

  Owned<TBitmap> sheet(vlNewBitmap32(6 * 36, 3 * 36, true));
  sheet->Canvas()->Brush()->SetColor(TColor(0xE8E8E8));
  sheet->Canvas()->FillRect(Rect(0, 0, sheet->Width(), sheet->Height()));
  for (Integer i = 0; i < 5; ++i) {
    list->Draw(sheet->Canvas(), Rect(i * 36, 0, i * 36 + 36, 36), i, false);              // centred
    list->Draw(sheet->Canvas(), Rect(i * 36, 36, i * 36 + 36, 72), i, false, false, false);  // disabled
    list->Draw(sheet->Canvas(), Rect(i * 36 + 2, 74, i * 36 + 34, 106), i, true, true);   // stretched, smooth
  }
  list->DrawOverlay(sheet->Canvas(), 5 * 36 + 10, 10, 3, 0);
  list->DrawOverlay(sheet->Canvas(), 5 * 36 + 10, 46, 1, 0, false);
  ExpectMatchesReference(sheet.get(), "images-image-list");
}

}  // namespace
