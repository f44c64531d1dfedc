// The radio-button images: measured from the system's glyph, one pattern
// coloured 128 ways, built once, rebuilt after a system colour change.
#include "lib/lookandfeel/vlRadioButtonImageList.h"

#include <gtest/gtest.h>

#include <memory>

#include "lib/foundation/vlGraphics.h"
#include "lib/lookandfeel/nbOffice11.h"
#include "platform/vcl/ImgList.h"
#include "platform/win/Gdi.h"
#include "tests/lib/lookandfeel/LookAndFeelPicture.h"

// The ordinals the image keys use.
enum TvlLookAndFeelKind : Byte { lfFlatKind = 0, lfStandardKind = 1, lfUltraFlatKind = 2, lfOffice11Kind = 3 };
enum TvlButtonState : Byte { bsDefault = 0, bsNormal = 1, bsHot = 2, bsPressed = 3, bsDisabled = 4 };

namespace {

struct TFreeObject {
  void operator()(TObject* p) const { Free(p); }
};
using TBitmapPtr = std::unique_ptr<TBitmap, TFreeObject>;
using TCanvasPtr = std::unique_ptr<TvlCanvas, TFreeObject>;

TBitmapPtr NewBitmap(Integer W, Integer H, win::COLORREF AFill) {
  TBitmapPtr b(New<TBitmap>());
  b->SetPixelFormat(pf32bit);
  b->SetSize(W, H);
  win::HBRUSH brush = win::CreateSolidBrush(AFill);
  win::RECT r{0, 0, W, H};
  win::FillRect(b->Canvas()->Handle(), &r, brush);
  win::DeleteObject(brush);
  return b;
}

win::COLORREF PixelAt(TBitmap* B, Integer X, Integer Y) { return win::GetPixel(B->Canvas()->Handle(), X, Y); }

constexpr win::COLORREF Magenta = 0xFF00FF;

// One image drawn at (1, 1) of a magenta square.
TBitmapPtr DrawOne(TvlLookAndFeelKind AKind, TvlButtonState AState, Boolean AChecked, Boolean AFocused,
                   Boolean ADesigning, TColor ABrush = clDefault) {
  TvlRadioButtonImageList* list = vlGetRadioButtonImages();
  const TSize size = list->GetSize();
  TBitmapPtr b = NewBitmap(size.cx + 2, size.cy + 2, Magenta);
  TCanvasPtr canvas(New<TvlCanvas>(b->Canvas()));
  list->Draw(canvas.get(), 1, 1, ABrush, AKind, AState, AChecked, AFocused, ADesigning);
  return b;
}

// A pixel of the given code (row, column in the button), or (-1, -1).
std::pair<Integer, Integer> FindCode(Byte ACode) {
  TvlRadioButtonImageList* list = vlGetRadioButtonImages();
  const TSize size = list->GetSize();
  for (Integer i = 0; i < size.cy; ++i)
    for (Integer j = 0; j < size.cx; ++j)
      if (list->PatternCode(i, j) == ACode) return {i, j};
  return {-1, -1};
}

TEST(RadioButtonImages, TheButtonIsMeasuredFromTheSystemGlyph) {
  TvlRadioButtonImageList* list = vlGetRadioButtonImages();
  // the platform's glyph: a 13-pixel disc at the cell's top left
  EXPECT_EQ(list->GetSize().cx, 13);
  EXPECT_EQ(list->GetSize().cy, 13);
  EXPECT_EQ(list->RadioButtonRect().Left, 0);
  EXPECT_EQ(list->RadioButtonRect().Top, 0);
  // the dot: the platform's glyph draws it 4 x 4 from (4, 4)
  const TRect& dot = list->RadioButtonCheckRect();
  EXPECT_EQ(dot.Left, 4);
  EXPECT_EQ(dot.Top, 4);
  EXPECT_EQ(dot.Right, 8);
  EXPECT_EQ(dot.Bottom, 8);
  // every code is present, symmetric rings
  for (Byte c = 0; c <= 6; ++c) EXPECT_GE(FindCode(c).first, 0) << int(c);
  EXPECT_EQ(list->PatternCode(0, 0), 0);
  // the middle row: outer ring, inner ring, body, dot ... inner ring, outer ring
  const Byte middleRow[13] = {1, 3, 5, 5, 6, 6, 6, 6, 5, 5, 5, 4, 2};
  for (Integer j = 0; j < 13; ++j) EXPECT_EQ(list->PatternCode(6, j), middleRow[j]) << j;
  // the top row is upper-left outer ring, the bottom row lower-right
  EXPECT_EQ(list->PatternCode(0, 6), 1);
  EXPECT_EQ(list->PatternCode(12, 6), 2);
  // the first inner row is inner ring all along
  for (Integer j = 4; j <= 8; ++j) EXPECT_EQ(list->PatternCode(1, j), 3) << j;
}

TEST(RadioButtonImages, HundredTwentyEightImagesBuiltOnceAndShared) {
  TvlRadioButtonImageList* list = vlGetRadioButtonImages();
  EXPECT_EQ(list, vlGetRadioButtonImages());
  ASSERT_EQ(list->Count(), 128);
  const Integer first = TvlRadioButtonImageList::ImageIndex(lfFlatKind, bsNormal, false, false, false);
  list->Prepare();  // filled: nothing happens
  EXPECT_EQ(list->Count(), 128);
  EXPECT_EQ(TvlRadioButtonImageList::ImageIndex(lfFlatKind, bsNormal, false, false, false), first);
  // the key order of the building loops
  EXPECT_EQ(TvlRadioButtonImageList::ImageIndex(lfFlatKind, bsNormal, false, false, false), 0);
  EXPECT_EQ(TvlRadioButtonImageList::ImageIndex(lfFlatKind, bsNormal, true, false, false), 4);
  EXPECT_EQ(TvlRadioButtonImageList::ImageIndex(lfStandardKind, bsHot, false, false, false), 9);
  EXPECT_EQ(TvlRadioButtonImageList::ImageIndex(lfOffice11Kind, bsDisabled, true, true, true), 127);
  // vlbsDefault draws as vlbsNormal
  EXPECT_EQ(TvlRadioButtonImageList::ImageIndex(lfUltraFlatKind, bsDefault, true, false, false),
            TvlRadioButtonImageList::ImageIndex(lfUltraFlatKind, bsNormal, true, false, false));
}

TEST(RadioButtonImages, ColoursOfRingsBodyAndDot) {
  const auto outer = FindCode(1), body = FindCode(5), dot = FindCode(6);
  auto at = [](TBitmap* b, std::pair<Integer, Integer> p) { return PixelAt(b, p.second + 1, p.first + 1); };
  struct TCase {
    const char* Name;
    TvlLookAndFeelKind Kind;
    TvlButtonState State;
    Boolean Checked, Focused;
    TColor Ring, Body, Dot;
  };
  const TCase cases[] = {
      {"ultra-flat focused normal", lfUltraFlatKind, bsNormal, true, true, clHighlight, clWindow, clWindowText},
      {"ultra-flat normal", lfUltraFlatKind, bsNormal, true, false, clBtnShadow, clWindow, clWindowText},
      {"flat unchecked: no dot", lfFlatKind, bsNormal, false, false, clBtnShadow, clWindow, clWindow},
      {"standard pressed", lfStandardKind, bsPressed, true, false, clBtnShadow, clBtnFace, clWindowText},
      {"standard disabled", lfStandardKind, bsDisabled, true, false, clBtnShadow, clBtnFace, clBtnShadow},
      {"office normal", lfOffice11Kind, bsNormal, true, false, clBtnText, clWindow, clWindowText},
      {"office hot", lfOffice11Kind, bsHot, false, false, nbOffice11HighlightBorderColor, nbOffice11HotButtonColor,
       nbOffice11HotButtonColor},
      {"office disabled", lfOffice11Kind, bsDisabled, true, false, nbOffice11DisabledTextColor, clBtnFace,
       nbOffice11DisabledTextColor},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TBitmapPtr b = DrawOne(c.Kind, c.State, c.Checked, c.Focused, false);
    EXPECT_EQ(at(b.get(), outer), win::COLORREF(ColorToRGB(c.Ring)));
    EXPECT_EQ(at(b.get(), body), win::COLORREF(ColorToRGB(c.Body)));
    EXPECT_EQ(at(b.get(), dot), win::COLORREF(ColorToRGB(c.Dot)));
    EXPECT_EQ(PixelAt(b.get(), 1, 1), Magenta);  // masked corner
  }
  // on a brush colour: the corner takes it
  TBitmapPtr b = DrawOne(lfFlatKind, bsNormal, true, false, false, clYellow);
  EXPECT_EQ(PixelAt(b.get(), 1, 1), win::COLORREF(ColorToRGB(clYellow)));
  EXPECT_EQ(PixelAt(b.get(), 0, 0), Magenta);
}

TEST(RadioButtonImages, ASystemColourChangeRebuildsTheImages) {
  const win::INT index = win::COLOR_WINDOW;
  const win::COLORREF oldWindow = win::GetSysColor(index), tint = 0x80E0FF;
  const auto body = FindCode(5);
  win::SetSysColors(1, &index, &tint);
  TBitmapPtr b = DrawOne(lfFlatKind, bsNormal, false, false, false);
  EXPECT_EQ(PixelAt(b.get(), body.second + 1, body.first + 1), tint);
  win::SetSysColors(1, &index, &oldWindow);
  b = DrawOne(lfFlatKind, bsNormal, false, false, false);
  EXPECT_EQ(PixelAt(b.get(), body.second + 1, body.first + 1), oldWindow);
  EXPECT_EQ(vlGetRadioButtonImages()->Count(), 128);
}

// All 128 images: rows kind (flat, standard, ultra-flat, Office 2003) with
// unchecked and checked; columns the four states, then the same designing,
// focused, and designing and focused; on a light grey background.
TEST(RadioButtonImages, Picture) {
  TvlRadioButtonImageList* list = vlGetRadioButtonImages();
  const Integer cell = 16;
  TBitmapPtr b = NewBitmap(16 * cell, 8 * cell, 0xE8E8E8);
  TCanvasPtr canvas(New<TvlCanvas>(b->Canvas()));
  for (Integer kind = 0; kind < 4; ++kind)
    for (Integer checked = 0; checked < 2; ++checked)
      for (Integer group = 0; group < 4; ++group)
        for (Integer state = 1; state <= 4; ++state)
          list->Draw(canvas.get(), (group * 4 + state - 1) * cell + 2, (kind * 2 + checked) * cell + 2, clDefault,
                     TvlLookAndFeelKind(kind), TvlButtonState(state), checked != 0, (group & 2) != 0,
                     (group & 1) != 0);
  lookandfeel_test::ExpectMatchesReference(b.get(), "radio-button-images", 2);
}

}  // namespace
