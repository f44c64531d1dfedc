#include <gtest/gtest.h>

#include "lib/editors/vlEditUtils.h"
#include "lib/foundation/vlGraphics.h"
#include "platform/rtl/Finally.h"
#include "platform/vcl/Graphics.h"
#include "platform/win/Gdi.h"

namespace {

// A white bitmap with a library canvas over it.
class EditUtilsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Bitmap = New<TBitmap>();
    Bitmap->SetPixelFormat(pf32bit);
    Bitmap->SetWidth(20);
    Bitmap->SetHeight(20);
    Bitmap->Canvas()->Brush()->SetColor(clWhite);
    Bitmap->Canvas()->FillRect(TRect{0, 0, 20, 20});
    Canvas = New<TvlCanvas>(Bitmap->Canvas());
  }
  void TearDown() override {
    Free(Canvas);
    Free(Bitmap);
  }
  bool IsBlack(int X, int Y) { return (win::GetPixel(Canvas->Handle(), X, Y) & 0xFFFFFF) == 0; }
  // The number of black pixels in each row (or column) of R.
  std::vector<int> RowCounts(const TRect& R) {
    std::vector<int> counts;
    for (int y = R.Top; y < R.Bottom; ++y) {
      int n = 0;
      for (int x = R.Left; x < R.Right; ++x) n += IsBlack(x, y);
      counts.push_back(n);
    }
    return counts;
  }
  std::vector<int> ColumnCounts(const TRect& R) {
    std::vector<int> counts;
    for (int x = R.Left; x < R.Right; ++x) {
      int n = 0;
      for (int y = R.Top; y < R.Bottom; ++y) n += IsBlack(x, y);
      counts.push_back(n);
    }
    return counts;
  }
  TBitmap* Bitmap{};
  TvlCanvas* Canvas{};
};

TEST_F(EditUtilsTest, ArrowsAreRowsThatNarrowOrGrow) {
  // Size 4 pointing down: 7 x 4, rows of 7, 5, 3 and 1 pixels, centred in 0..20.
  vlDrawButtonArrow(Canvas, 4, TRect{0, 0, 20, 20}, clBlack, false, false, adDown);
  EXPECT_EQ(RowCounts(TRect{0, 8, 20, 12}), (std::vector<int>{7, 5, 3, 1}));
  EXPECT_EQ(RowCounts(TRect{0, 0, 20, 8}), std::vector<int>(8, 0));
  EXPECT_TRUE(IsBlack(6, 8));
  EXPECT_TRUE(IsBlack(12, 8));
  EXPECT_FALSE(IsBlack(13, 8));
}

TEST_F(EditUtilsTest, DoubleArrowsFollowEachOtherAndTheOffsetMovesThem) {
  vlDrawButtonArrow(Canvas, 3, TRect{0, 0, 20, 20}, clBlack, true, true, adRight);
  // Block 6 x 5 centred at (7, 7), moved to (8, 8): columns 5, 3, 1 twice.
  EXPECT_EQ(ColumnCounts(TRect{8, 0, 14, 20}), (std::vector<int>{5, 3, 1, 5, 3, 1}));
  EXPECT_FALSE(IsBlack(7, 10));
}

TEST(vlEditUtils, ArrowSizeOfAButton) {
  const struct {
    TSize Size;
    TvlArrowDirection Direction;
    TSize Expected;
  } cases[] = {{{17, 15}, adDown, {7, 4}}, {{17, 15}, adLeft, {4, 7}}, {{16, 16}, adUp, {7, 4}},
               {{10, 20}, adRight, {3, 5}}, {{3, 3}, adDown, {1, 1}}};
  for (const auto& c : cases) {
    const TSize s = vlCalculateArrowSize(c.Size, c.Direction);
    EXPECT_EQ(s.cx, c.Expected.cx) << c.Size.cx << "x" << c.Size.cy;
    EXPECT_EQ(s.cy, c.Expected.cy) << c.Size.cx << "x" << c.Size.cy;
  }
}

TEST_F(EditUtilsTest, FramesShrinkTheRectangleOnTheDrawnSides) {
  TRect r{2, 2, 12, 12};
  vlDrawEditButtonFrame(Canvas, r, 15, clBlack);
  EXPECT_EQ(r.Width(), 8);
  EXPECT_EQ(r.Height(), 8);
  EXPECT_TRUE(IsBlack(2, 2) && IsBlack(11, 11) && IsBlack(11, 2) && IsBlack(2, 11));
  EXPECT_FALSE(IsBlack(3, 3));
  TRect l{2, 14, 12, 18};
  vlDrawEditButtonFrame(Canvas, l, vlEditFrameLeft | vlEditFrameBottom, clBlack);
  EXPECT_EQ(l.Left, 3);
  EXPECT_EQ(l.Bottom, 17);
  EXPECT_EQ(l.Right, 12);
}

TEST_F(EditUtilsTest, FillExceptInner) {
  // Equal rectangles paint nothing.
  vlFillRectExceptInner(Canvas, TRect{0, 0, 10, 10}, TRect{0, 0, 10, 10},
                        static_cast<win::HBRUSH>(win::GetStockObject(win::BLACK_BRUSH)));
  EXPECT_EQ(RowCounts(TRect{0, 0, 10, 10}), std::vector<int>(10, 0));
  vlFillRectExceptInner(Canvas, TRect{0, 0, 10, 10}, TRect{2, 2, 8, 8},
                        static_cast<win::HBRUSH>(win::GetStockObject(win::BLACK_BRUSH)));
  EXPECT_EQ(RowCounts(TRect{0, 0, 10, 10}), (std::vector<int>{10, 10, 4, 4, 4, 4, 4, 4, 10, 10}));
}

TEST_F(EditUtilsTest, PolylinesInFillModeIncludeTheLastPoint) {
  const TPoint pts[3] = {{1, 1}, {5, 1}, {5, 4}};
  vlDrawPolyline(Canvas, pts, 2, true, clBlack);
  EXPECT_EQ(RowCounts(TRect{0, 0, 8, 6}), (std::vector<int>{0, 5, 1, 1, 1, 0}));
  const TPoint line[2] = {{1, 10}, {6, 10}};
  vlDrawPolyline(Canvas, line, 1, false, clBlack);
  EXPECT_EQ(RowCounts(TRect{0, 10, 10, 11}), (std::vector<int>{6}));
}

TEST(vlEditUtils, TextFlagsConvertBothWays) {
  const struct {
    Integer TextOut, DrawText;
  } pairs[] = {{1, 4}, {2, 2}, {16, 32}, {32, 16}, {512, 64}, {256, 1024}};
  Integer allOut = 0, allDraw = 0;
  for (const auto& p : pairs) {
    EXPECT_EQ(vlMapTextOutFlagsToDrawText(p.TextOut), p.DrawText);
    EXPECT_EQ(vlConvertDrawTextFlags(p.DrawText), p.TextOut);
    allOut |= p.TextOut;
    allDraw |= p.DrawText;
  }
  EXPECT_EQ(vlMapTextOutFlagsToDrawText(allOut | 4 | 8), allDraw);  // unlisted bits drop
  EXPECT_EQ(vlConvertDrawTextFlags(allDraw | 1), allOut);           // DT_CENTER has no library bit
}

TEST(vlEditUtils, CharacterClasses) {
  for (Char c : String(u"\0\t\n\f\r ", 6)) EXPECT_TRUE(vlIsBlankChar(c)) << int(c);
  EXPECT_FALSE(vlIsBlankChar(u'\v'));
  EXPECT_FALSE(vlIsBlankChar(u'a'));
  EXPECT_TRUE(vlIsDigitCharacter(u'0') && vlIsDigitCharacter(u'9'));
  EXPECT_FALSE(vlIsDigitCharacter(u'٣'));
}

TEST(vlEditUtils, ContentIndentOfButtonStyles) {
  EXPECT_EQ(vlGetButtonContentVerticalIndent(nullptr, btsDefault, false), 0);
  EXPECT_EQ(vlGetButtonContentVerticalIndent(nullptr, bts3D, false), 4);
  for (TvlEditButtonStyle s : {btsFlat, btsSimple, btsHotFlat, btsUltraFlat, btsOffice11})
    EXPECT_EQ(vlGetButtonContentVerticalIndent(nullptr, s, false), 2);
  EXPECT_EQ(vlGetFlatEditBorderColor(false), clHighlight);
}

TEST_F(EditUtilsTest, ADisabledGlyphWithoutBrushIsDrawnGreyedOnTheCanvas) {
  TBitmap* glyph = New<TBitmap>();
  Finally freed([&] { Free(glyph); });
  glyph->SetWidth(6);
  glyph->SetHeight(6);
  glyph->Canvas()->Brush()->SetColor(clFuchsia);
  glyph->Canvas()->FillRect(TRect{0, 0, 6, 6});
  glyph->Canvas()->Brush()->SetColor(clBlack);
  glyph->Canvas()->FillRect(TRect{1, 1, 5, 5});
  vlDrawEditGlyph(Canvas, 4, 4, glyph, clNone, false);
  // The transparent corner keeps the white; the black body is no longer black.
  EXPECT_EQ(win::GetPixel(Canvas->Handle(), 4, 4) & 0xFFFFFF, 0xFFFFFFu);
  EXPECT_FALSE(IsBlack(6, 6));
  vlDrawEditGlyph(Canvas, 12, 4, glyph, clNone, true);
  EXPECT_TRUE(IsBlack(14, 6));
  EXPECT_EQ(win::GetPixel(Canvas->Handle(), 12, 4) & 0xFFFFFF, 0xFFFFFFu);
}

}  // namespace
