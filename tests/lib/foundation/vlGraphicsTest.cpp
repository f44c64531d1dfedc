#include "lib/foundation/vlGraphics.h"

#include <gtest/gtest.h>

#include <memory>

#include "lib/foundation/vlGeometry.h"
#include "platform/vcl/ImgList.h"
#include "platform/win/Gdi.h"
#include "platform/win/GdiText.h"
#include "tests/lib/foundation/ReferencePicture.h"

namespace {

using namespace win;
using foundation_test::ExpectMatchesReference;

template <class T>
using Owned = std::unique_ptr<T, TObjectFree>;

::testing::AssertionResult RectIs(const TRect& R, Integer L, Integer T, Integer Rt, Integer B) {
  if (R.Left == L && R.Top == T && R.Right == Rt && R.Bottom == B) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "(" << R.Left << "," << R.Top << "," << R.Right << "," << R.Bottom
                                       << ")";
}

// --- Regions -------------------------------------------------------------------------------

TEST(Region, OperationsCombineIntoThisRegion) {
  struct Case {
    TvlRegionOperation Op;
    TRect Bounds;
    bool In5x5, In15x15, In25x25;
  };
  // this region (0, 0, 20, 20), the argument (10, 10, 30, 30)
  const Case cases[] = {
      {roSet, {10, 10, 30, 30}, false, true, true},
      {roAdd, {0, 0, 30, 30}, true, true, true},
      {roSubtract, {0, 0, 20, 20}, true, false, false},
      {roIntersect, {10, 10, 20, 20}, false, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(int(c.Op));
    Owned<TvlRegion> r(New<TvlRegion>(0, 0, 20, 20));
    r->Combine(New<TvlRegion>(10, 10, 30, 30), c.Op);
    EXPECT_EQ(r->BoundsRect(), c.Bounds);
    EXPECT_EQ(r->PtInRegion(5, 5), c.In5x5);
    EXPECT_EQ(r->PtInRegion(Point(15, 15)), c.In15x15);
    EXPECT_EQ(r->PtInRegion(25, 25), c.In25x25);
  }
}

TEST(Region, CombineFreesTheArgumentOnlyWhenAsked) {
  Owned<TvlRegion> r(New<TvlRegion>());
  TvlRegion* arg = New<TvlRegion>(Rect(1, 2, 3, 4));
  HRGN argHandle = arg->Handle();
  r->Combine(arg, roSet, false);
  EXPECT_NE(GetObjectType(argHandle), 0u);
  r->Combine(arg, roSet);
  EXPECT_EQ(GetObjectType(argHandle), 0u);  // freed with its handle
  EXPECT_EQ(r->BoundsRect(), Rect(1, 2, 3, 4));
}

TEST(Region, EqualityEmptinessAndHitTests) {
  Owned<TvlRegion> empty1(New<TvlRegion>()), empty2(New<TvlRegion>(50, 50, 50, 60));
  EXPECT_TRUE(empty1->IsEmpty());
  EXPECT_TRUE(empty1->IsEqual(empty2.get()));
  EXPECT_TRUE(RectIs(empty2->BoundsRect(), 0, 0, 0, 0));
  EXPECT_FALSE(empty1->IsEqual(static_cast<TvlRegion*>(nullptr)));

  Owned<TvlRegion> a(New<TvlRegion>(0, 0, 10, 10)), b(New<TvlRegion>(5, 5, 15, 15));
  EXPECT_FALSE(a->IsEqual(b.get()));
  b->Offset(-5, -5);
  EXPECT_TRUE(a->IsEqual(b.get()));
  EXPECT_TRUE(a->IsEqual(b->Handle()));
  EXPECT_TRUE(a->RectInRegion(Rect(8, 8, 20, 20)));
  EXPECT_FALSE(a->RectInRegion(10, 10, 20, 20));

  // a round-corner region moves its left and top edges in by one pixel
  Owned<TvlRegion> round(NewBy<TvlRegion>(
      static_cast<void (TvlRegion::*)(const TRect&, Integer, Integer)>(&TvlRegion::CreateRoundCorners),
      Rect(0, 0, 10, 10), 4, 4));
  EXPECT_EQ(round->BoundsRect().TopLeft(), Point(1, 1));
  EXPECT_FALSE(round->PtInRegion(0, 5));
  EXPECT_TRUE(round->PtInRegion(1, 5));
}

// --- Canvas fixture -------------------------------------------------------------------------

class CanvasTest : public ::testing::Test {
 protected:
  void SetUp() override { Reset(120, 80); }
  void TearDown() override {
    FCanvas.reset();
    FBitmap.reset();
  }
  void Reset(Integer W, Integer H) {
    FCanvas.reset();
    FBitmap.reset(New<TBitmap>());
    FBitmap->SetPixelFormat(pf32bit);
    FBitmap->SetSize(W, H);
    FCanvas.reset(New<TvlCanvas>(FBitmap->Canvas()));
  }
  // Read from the pixels themselves (GetPixel answers nothing outside the clip).
  TColor Pixel(Integer X, Integer Y) {
    const uint32_t p = static_cast<const uint32_t*>(FBitmap->ScanLine(Y))[X];
    return TColor(((p & 0xFF) << 16) | (p & 0xFF00) | ((p >> 16) & 0xFF));
  }
  // The clip region of the DC in device coordinates (empty when none).
  TRect DeviceClipBounds() {
    Owned<TvlRegion> r(New<TvlRegion>());
    if (GetClipRgn(FCanvas->Handle(), r->Handle()) != 1) return TRect{};
    return r->BoundsRect();
  }

  Owned<TBitmap> FBitmap;
  Owned<TvlCanvas> FCanvas;
};

// --- Clipping --------------------------------------------------------------------------------

TEST_F(CanvasTest, ClipRegionWithoutClippingIsTheLargeSquareInLogicalCoordinates) {
  Owned<TvlRegion> none(FCanvas->GetClipRegion());
  EXPECT_TRUE(RectIs(none->BoundsRect(), 0, 0, 30000, 30000));
  FCanvas->SetWindowOrg(Point(10, 20));
  FCanvas->SetViewportOrg(Point(3, 4));
  EXPECT_EQ(FCanvas->DCOrigin(), Point(-7, -16));
  Owned<TvlRegion> moved(FCanvas->GetClipRegion());
  EXPECT_TRUE(RectIs(moved->BoundsRect(), 7, 16, 30007, 30016));
  Owned<TvlRegion> device(FCanvas->GetClipRegion(false));
  EXPECT_TRUE(RectIs(device->BoundsRect(), 0, 0, 30000, 30000));
  // setting it back clips to that square
  FCanvas->SetClipRegion(moved.release(), roSet);
  EXPECT_TRUE(RectIs(DeviceClipBounds(), 0, 0, 30000, 30000));
}

TEST_F(CanvasTest, NestedClipSaveAndRestoreWithAMovedOriginRestoreExactly) {
  FCanvas->IntersectClipRect(Rect(10, 10, 100, 70));
  FCanvas->SaveClipRegion();
  FCanvas->IntersectClipRect(Rect(20, 20, 80, 60));
  const TRect outer = DeviceClipBounds();
  FCanvas->SetWindowOrg(Point(-15, -5));
  FCanvas->SaveClipRegion();
  FCanvas->SetClipRegion(New<TvlRegion>(0, 10, 10, 20), roIntersect);
  EXPECT_TRUE(RectIs(DeviceClipBounds(), 20, 20, 25, 25));
  FCanvas->RestoreClipRegion();
  EXPECT_EQ(DeviceClipBounds(), outer);
  FCanvas->SetWindowOrg(Point(0, 0));
  FCanvas->RestoreClipRegion();
  EXPECT_TRUE(RectIs(DeviceClipBounds(), 10, 10, 100, 70));
  EXPECT_EQ(FCanvas->ClipRegionCount(), 0);
  FCanvas->RestoreClipRegion();  // nothing saved: nothing happens
  EXPECT_TRUE(RectIs(DeviceClipBounds(), 10, 10, 100, 70));
}

TEST_F(CanvasTest, ClipOperationsCombineWithTheCurrentClip) {
  FCanvas->IntersectClipRect(Rect(0, 0, 50, 50));
  FCanvas->SetClipRegion(New<TvlRegion>(60, 0, 70, 10), roAdd);
  FCanvas->SetClipRegion(New<TvlRegion>(0, 0, 10, 10), roSubtract);
  FCanvas->FillRect(Rect(0, 0, 120, 80), clRed);
  EXPECT_EQ(Pixel(5, 5), clWhite);
  EXPECT_EQ(Pixel(20, 20), clRed);
  EXPECT_EQ(Pixel(65, 5), clRed);
  EXPECT_EQ(Pixel(55, 5), clWhite);
  EXPECT_TRUE(FCanvas->RectFullyVisible(Rect(20, 20, 40, 40)));
  EXPECT_FALSE(FCanvas->RectFullyVisible(Rect(40, 40, 60, 60)));
  EXPECT_TRUE(FCanvas->RectVisible(Rect(40, 40, 60, 60)));
  FCanvas->ExcludeClipRect(Rect(20, 20, 30, 30));
  EXPECT_FALSE(FCanvas->RectVisible(Rect(22, 22, 28, 28)));

  // a region kept by the caller comes back at its logical place
  FCanvas->SetWindowOrg(Point(5, 5));
  Owned<TvlRegion> kept(New<TvlRegion>(0, 0, 10, 10));
  FCanvas->SetClipRegion(kept.get(), roSet, true, false);
  EXPECT_TRUE(RectIs(kept->BoundsRect(), 0, 0, 10, 10));
  EXPECT_TRUE(RectIs(DeviceClipBounds(), -5, -5, 5, 5));
}

// --- State stacks ------------------------------------------------------------------------------

TEST_F(CanvasTest, SaveStateKeepsFontBrushAndPenUntilRestored) {
  FCanvas->RestoreState();  // nothing saved: nothing happens
  FCanvas->RestoreDC();
  FCanvas->Font()->SetName(u"Arial");
  FCanvas->Font()->SetHeight(-15);
  FCanvas->Font()->SetColor(clBlue);
  FCanvas->Brush()->SetColor(clYellow);
  FCanvas->Pen()->SetColor(clGreen);
  FCanvas->Pen()->SetWidth(3);
  FCanvas->SaveState();
  EXPECT_EQ(FCanvas->CanvasStateCount(), 1);
  EXPECT_EQ(FCanvas->Font()->Name(), u"Arial");  // a font not yet selected is not lost
  FCanvas->Font()->SetHeight(-20);
  FCanvas->Font()->SetColor(clRed);
  FCanvas->Brush()->SetStyle(bsClear);
  FCanvas->Pen()->SetMode(pmXor);
  FCanvas->FillRect(Rect(0, 0, 10, 10));
  FCanvas->RestoreState();
  EXPECT_EQ(FCanvas->CanvasStateCount(), 0);
  EXPECT_EQ(FCanvas->DCStateCount(), 0);
  EXPECT_EQ(FCanvas->Font()->Height(), -15);
  EXPECT_EQ(FCanvas->Font()->Color(), clBlue);
  EXPECT_EQ(FCanvas->Brush()->Color(), clYellow);
  EXPECT_EQ(FCanvas->Brush()->Style(), bsSolid);
  EXPECT_EQ(FCanvas->Pen()->Color(), clGreen);
  EXPECT_EQ(FCanvas->Pen()->Width(), 3);
  EXPECT_EQ(FCanvas->Pen()->Mode(), pmCopy);
  // the canvas draws with what it describes
  FCanvas->FillRect(Rect(0, 0, 10, 10));
  EXPECT_EQ(Pixel(5, 5), clYellow);
}

TEST_F(CanvasTest, SaveStateTakesObjectsSelectedDirectlyIntoTheDC) {
  FCanvas->FillRect(Rect(0, 0, 1, 1), clWhite);  // the canvas's objects are selected
  HBRUSH hatch = CreateHatchBrush(HS_CROSS, RGB(0, 0, 255));
  HGDIOBJ old = SelectObject(FCanvas->Handle(), hatch);
  SetROP2(FCanvas->Handle(), R2_NOT);
  FCanvas->SaveState();
  EXPECT_EQ(FCanvas->Brush()->Style(), bsCross);
  EXPECT_EQ(FCanvas->Brush()->Color(), TColor(0xFF0000));
  EXPECT_EQ(FCanvas->Pen()->Mode(), pmNot);
  FCanvas->RestoreState();
  SelectObject(FCanvas->Handle(), old);
  DeleteObject(hatch);
}

// --- Fills, frames and edges ----------------------------------------------------------------------

TEST_F(CanvasTest, FillRectWithNoneOrDefaultColour) {
  FCanvas->Brush()->SetColor(clLime);
  FCanvas->FillRect(Rect(0, 0, 10, 10), clNone);
  EXPECT_EQ(Pixel(5, 5), clWhite);
  EXPECT_EQ(FCanvas->Brush()->Color(), clLime);
  FCanvas->FillRect(Rect(0, 0, 10, 10), clDefault);
  EXPECT_EQ(Pixel(5, 5), clLime);
  FCanvas->FillRect(Rect(0, 0, 10, 10), clRed);
  EXPECT_EQ(Pixel(5, 5), clRed);
  EXPECT_EQ(FCanvas->Brush()->Color(), clRed);
}

TEST_F(CanvasTest, FrameRectDrawsTheChosenSidesAndCanExcludeThem) {
  FCanvas->FrameRect(Rect(10, 10, 30, 30), clRed, 2, TvlBorders{bLeft, bBottom}, true);
  EXPECT_EQ(Pixel(11, 20), clRed);
  EXPECT_EQ(Pixel(20, 29), clRed);
  EXPECT_EQ(Pixel(29, 20), clWhite);
  EXPECT_EQ(Pixel(20, 10), clWhite);
  FCanvas->FillRect(Rect(0, 0, 120, 80), clBlue);  // the frame was excluded from the clip
  EXPECT_EQ(Pixel(11, 20), clRed);
  EXPECT_EQ(Pixel(20, 20), clBlue);
  // a line wider than the rectangle stays inside it
  Reset(40, 40);
  FCanvas->FrameRect(Rect(10, 10, 13, 13), clRed, 5);
  EXPECT_EQ(Pixel(12, 12), clRed);
  EXPECT_EQ(Pixel(13, 12), clWhite);
}

TEST_F(CanvasTest, FillRectTilesABitmapFromTheOrigin) {
  Owned<TBitmap> tile(New<TBitmap>());
  tile->SetSize(4, 4);
  tile->Canvas()->Brush()->SetColor(clRed);
  tile->Canvas()->FillRect(Rect(0, 0, 4, 4));
  tile->Canvas()->SetPixels(0, 0, clBlue);
  FCanvas->FillRect(Rect(2, 2, 11, 11), tile.get(), true);
  EXPECT_EQ(Pixel(4, 4), clBlue);
  EXPECT_EQ(Pixel(8, 8), clBlue);
  EXPECT_EQ(Pixel(2, 2), clRed);
  EXPECT_EQ(Pixel(1, 1), clWhite);
  EXPECT_EQ(Pixel(12, 12), clWhite);
  FCanvas->FillRect(Rect(0, 0, 20, 20), clGreen);  // R was excluded
  EXPECT_EQ(Pixel(4, 4), clBlue);
  EXPECT_EQ(Pixel(1, 1), clGreen);
}

TEST_F(CanvasTest, EdgesUseTheSystemColoursPerRing) {
  struct Case {
    bool Sunken, Outer;
    TColor LeftTop, RightBottom;
  };
  const Case cases[] = {
      {false, true, cl3DLight, cl3DDkShadow},
      {true, true, clBtnShadow, clBtnHighlight},
      {false, false, clBtnHighlight, clBtnShadow},
      {true, false, cl3DDkShadow, cl3DLight},
  };
  for (const Case& c : cases) {
    FCanvas->FillRect(Rect(0, 0, 120, 80), clFuchsia);
    FCanvas->DrawEdge(Rect(10, 10, 20, 20), c.Sunken, c.Outer);
    EXPECT_EQ(Pixel(10, 15), ColorToRGB(c.LeftTop));
    EXPECT_EQ(Pixel(15, 10), ColorToRGB(c.LeftTop));
    EXPECT_EQ(Pixel(19, 15), ColorToRGB(c.RightBottom));
    EXPECT_EQ(Pixel(15, 19), ColorToRGB(c.RightBottom));
    EXPECT_EQ(Pixel(19, 10), ColorToRGB(c.RightBottom));  // right over top
    EXPECT_EQ(Pixel(15, 15), clFuchsia);
  }
}

TEST_F(CanvasTest, InvertRectLeavesTheCopyModeAtSourceCopy) {
  FCanvas->SetCopyMode(cmSrcAnd);
  FCanvas->InvertRect(Rect(0, 0, 10, 10));
  EXPECT_EQ(FCanvas->CopyMode(), cmSrcCopy);
  EXPECT_EQ(Pixel(5, 5), clBlack);
  FCanvas->InvertFrame(Rect(0, 0, 10, 10), 2);
  EXPECT_EQ(Pixel(1, 5), clWhite);
  EXPECT_EQ(Pixel(5, 1), clWhite);
  EXPECT_EQ(Pixel(5, 5), clBlack);
}

// --- Text ------------------------------------------------------------------------------------------

TEST(CanvasTextFlags, ConvertToDrawTextFlags) {
  struct Case {
    Integer Flags;
    Cardinal Expected;
  };
  const Case cases[] = {
      {vlAlignLeft | vlAlignTop, DT_NOPREFIX},
      {vlAlignRight | vlAlignBottom | vlSingleLine, DT_RIGHT | DT_BOTTOM | DT_SINGLELINE | DT_NOPREFIX},
      {vlAlignHCenter | vlAlignVCenter | vlShowPrefix, DT_CENTER | DT_VCENTER},
      {vlDontClip | vlExpandTabs | vlCalcRect, DT_NOCLIP | DT_EXPANDTABS | DT_CALCRECT | DT_NOPREFIX},
      {vlWordBreak, DT_WORDBREAK | DT_EDITCONTROL | DT_NOPREFIX},
      {vlWordBreak | vlDontBreakChars, DT_WORDBREAK | DT_NOPREFIX},
      {vlWordBreak | vlDontBreakChars | vlNoFullWidthCharBreak, DT_WORDBREAK | DT_NOFULLWIDTHCHARBREAK | DT_NOPREFIX},
      {vlNoFullWidthCharBreak, DT_NOPREFIX},
      {vlShowEndEllipsis | vlShowPathEllipsis, DT_END_ELLIPSIS | DT_PATH_ELLIPSIS | DT_NOPREFIX},
  };
  for (const Case& c : cases) EXPECT_EQ(vlTextFlagsToDrawTextFlags(c.Flags), c.Expected) << std::hex << c.Flags;
}

class CanvasTextTest : public CanvasTest {
 protected:
  void SetUp() override {
    if (!foundation_test::ReferenceFontAvailable()) GTEST_SKIP() << "test font missing";
    FFont = std::make_unique<foundation_test::TReferenceFont>();
    CanvasTest::SetUp();
  }
  void TearDown() override {
    CanvasTest::TearDown();
    FFont.reset();
  }
  std::unique_ptr<foundation_test::TReferenceFont> FFont;
};

TEST_F(CanvasTextTest, DisabledTextIsDrawnTwiceTheHighlightOnePixelDownRight) {
  FCanvas->FillRect(Rect(0, 0, 120, 80), clGray);
  FCanvas->Brush()->SetStyle(bsSolid);
  FCanvas->Font()->SetColor(clBlack);
  FCanvas->Font()->SetHeight(-40);
  FCanvas->Font()->SetStyle(TFontStyles{fsBold});
  FCanvas->DrawTexT(u"I", Rect(0, 0, 120, 80), vlAlignHCenter | vlAlignVCenter | vlSingleLine, false);
  // the last column and row of each copy: the highlight's lie one further
  Integer shadowRight = -1, highlightRight = -1, shadowBottom = -1, highlightBottom = -1;
  for (Integer y = 0; y < 80; ++y)
    for (Integer x = 0; x < 120; ++x) {
      const TColor c = Pixel(x, y);
      if (c == ColorToRGB(clBtnShadow)) {
        shadowRight = std::max(shadowRight, x);
        shadowBottom = std::max(shadowBottom, y);
      } else if (c == ColorToRGB(clBtnHighlight)) {
        highlightRight = std::max(highlightRight, x);
        highlightBottom = std::max(highlightBottom, y);
      }
    }
  ASSERT_GE(shadowRight, 0);
  EXPECT_EQ(highlightRight, shadowRight + 1);
  EXPECT_EQ(highlightBottom, shadowBottom + 1);
  // the brush style and the font colour come back
  EXPECT_EQ(FCanvas->Brush()->Style(), bsSolid);
  EXPECT_EQ(FCanvas->Font()->Color(), clBlack);
}

TEST_F(CanvasTextTest, TextExtentInARectangleIsAlignedInsideIt) {
  const Integer w = FCanvas->TextWidth(u"Kart"), h = FCanvas->TextHeight(u"Kart");
  ASSERT_GT(w, 0);
  struct Case {
    Integer Flags;
    Integer Left, Top;
  };
  const Case cases[] = {
      {vlAlignLeft | vlAlignTop | vlSingleLine, 10, 10},
      {vlAlignRight | vlAlignBottom | vlSingleLine, 110 - w, 70 - h},
      {vlAlignHCenter | vlAlignVCenter | vlSingleLine, 10 + (100 - w) / 2, 10 + (60 - h) / 2},
  };
  for (const Case& c : cases) {
    TRect r = Rect(10, 10, 110, 70);
    FCanvas->TextExtent(u"Kart", r, c.Flags);
    EXPECT_TRUE(RectIs(r, c.Left, c.Top, c.Left + w, c.Top + h)) << c.Flags;
  }
  // an empty width still measures the text
  TRect r = Rect(5, 5, 5, 5);
  FCanvas->TextExtent(u"Kart", r, vlSingleLine);
  EXPECT_EQ(r.Width(), w);
}

TEST_F(CanvasTextTest, TextStringsBoundsStackTheWrappedLines) {
  std::vector<TRect> bounds;
  const Integer lineHeight = FCanvas->TextHeight(u"Wg");
  const Integer wordWidth = FCanvas->TextWidth(u"Sayaç");
  FCanvas->GetTextStringsBounds(u"Sayaç Sayaç\r\n&Kart", Rect(0, 0, wordWidth + 4, 100),
                                vlAlignRight | vlAlignBottom | vlWordBreak | vlShowPrefix, true, bounds);
  ASSERT_EQ(bounds.size(), 3u);
  EXPECT_EQ(bounds[0].Right, wordWidth + 4);
  EXPECT_EQ(bounds[2].Bottom, 100);
  EXPECT_EQ(bounds[1].Top, bounds[0].Bottom);
  EXPECT_EQ(bounds[2].Width(), FCanvas->TextWidth(u"Kart"));
  EXPECT_EQ(bounds[0].Height(), lineHeight);
}

// --- Pies and bitmaps ---------------------------------------------------------------------------

TEST_F(CanvasTest, PieDrawsNothingForNoSweepAndTheWholeEllipseForAFullTurn) {
  FCanvas->Brush()->SetColor(clRed);
  FCanvas->Pen()->SetColor(clRed);
  FCanvas->Pie(Rect(10, 10, 50, 50), 0, 0);
  EXPECT_EQ(Pixel(30, 30), clWhite);
  FCanvas->Pie(Rect(10, 10, 50, 50), 0, 360);
  EXPECT_EQ(Pixel(30, 30), clRed);
  EXPECT_EQ(Pixel(15, 30), clRed);
  EXPECT_EQ(Pixel(45, 30), clRed);
  EXPECT_EQ(Pixel(30, 45), clRed);
  // a quarter from 0 degrees lies up and to the right of the centre
  Reset(60, 60);
  FCanvas->Brush()->SetColor(clRed);
  FCanvas->Pie(Rect(10, 10, 50, 50), 0, 90);
  EXPECT_EQ(Pixel(38, 22), clRed);
  EXPECT_EQ(Pixel(22, 22), clWhite);
  EXPECT_EQ(Pixel(38, 38), clWhite);
}

TEST_F(CanvasTest, RotateBitmapMovesEveryPixelByTheTable) {
  // a 3 x 2 bitmap whose pixels are numbered 1..6 row by row
  auto make = [] {
    TBitmap* b = New<TBitmap>();
    b->SetPixelFormat(pf32bit);
    b->SetSize(3, 2);
    for (Integer i = 0; i < 2; ++i)
      for (Integer j = 0; j < 3; ++j) b->Canvas()->SetPixels(j, i, TColor(1 + i * 3 + j));
    return b;
  };
  struct Case {
    TvlRotationAngle Angle;
    bool Flip;
    Integer W, H;
    TColor Rows[6];
  };
  const Case cases[] = {
      {ra0, true, 3, 2, {4, 5, 6, 1, 2, 3}},
      {raPlus90, false, 2, 3, {3, 6, 2, 5, 1, 4}},
      {raPlus90, true, 2, 3, {1, 4, 2, 5, 3, 6}},
      {raMinus90, false, 2, 3, {4, 1, 5, 2, 6, 3}},
      {raMinus90, true, 2, 3, {6, 3, 5, 2, 4, 1}},
      {ra180, false, 3, 2, {6, 5, 4, 3, 2, 1}},
      {ra180, true, 3, 2, {3, 2, 1, 6, 5, 4}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << int(c.Angle) << (c.Flip ? " flipped" : ""));
    Owned<TBitmap> b(make());
    FCanvas->RotateBitmap(b.get(), c.Angle, c.Flip);
    ASSERT_EQ(b->Width(), c.W);
    ASSERT_EQ(b->Height(), c.H);
    for (Integer i = 0; i < c.H; ++i)
      for (Integer j = 0; j < c.W; ++j) EXPECT_EQ(b->Canvas()->Pixels(j, i), c.Rows[i * c.W + j]) << i << "," << j;
  }
  Owned<TBitmap> b(make());
  FCanvas->RotateBitmap(b.get(), ra0);  // nothing to do
  EXPECT_EQ(b->Canvas()->Pixels(0, 0), 1);
  FCanvas->FlipHorizontally(b.get());
  EXPECT_EQ(b->Canvas()->Pixels(0, 0), 3);
  EXPECT_EQ(b->Canvas()->Pixels(2, 1), 4);
}

TEST_F(CanvasTest, TransparentDrawBlendsWithTheCanvas) {
  FCanvas->FillRect(Rect(0, 0, 120, 80), clBlack);
  Owned<TBitmap> b(New<TBitmap>());
  b->SetPixelFormat(pf32bit);
  b->SetSize(10, 10);
  b->Canvas()->Brush()->SetColor(clWhite);
  b->Canvas()->FillRect(Rect(0, 0, 10, 10));
  FCanvas->TransparentDraw(5, 5, b.get(), 128);
  const Integer grey = Pixel(8, 8) & 0xFF;
  EXPECT_NEAR(grey, 128, 2);
  EXPECT_EQ(Pixel(2, 2), clBlack);
}

TEST_F(CanvasTest, DrawGlyphSeesThroughTheTransparentColour) {
  Owned<TBitmap> glyph(New<TBitmap>());
  glyph->SetSize(8, 8);
  glyph->Canvas()->Brush()->SetColor(clFuchsia);
  glyph->Canvas()->FillRect(Rect(0, 0, 8, 8));
  glyph->Canvas()->Brush()->SetColor(clBlack);
  glyph->Canvas()->FillRect(Rect(2, 2, 6, 6));
  FCanvas->FillRect(Rect(0, 0, 120, 80), clLime);
  FCanvas->DrawGlyph(10, 10, glyph.get());
  EXPECT_EQ(Pixel(10, 10), clLime);
  EXPECT_EQ(Pixel(13, 13), clBlack);
  FCanvas->DrawGlyph(30, 10, glyph.get(), true, clYellow);
  EXPECT_EQ(Pixel(30, 10), clYellow);
  // disabled: drawn by an image list, the see-through part stays
  FCanvas->DrawGlyph(50, 10, glyph.get(), false);
  EXPECT_EQ(Pixel(50, 10), clLime);
  EXPECT_NE(Pixel(53, 13), clBlack);
  EXPECT_NE(Pixel(53, 13), clLime);
  FCanvas->DrawGlyph(70, 10, glyph.get(), false, clYellow);
  EXPECT_EQ(Pixel(70, 10), clYellow);
}

// --- Paint and screen canvases ---------------------------------------------------------------------

TEST(PaintCanvas, NestedBeginAndEndPaintRestoreEachLevel) {
  TvlPaintCanvas* canvas = vlGetPaintCanvas();
  ASSERT_NE(canvas, nullptr);
  EXPECT_EQ(canvas, vlGetPaintCanvas());
  canvas->EndPaint();  // nothing open: nothing happens

  Owned<TBitmap> a(New<TBitmap>()), b(New<TBitmap>());
  a->SetSize(20, 20);
  b->SetSize(20, 20);
  HDC dc = a->Canvas()->Handle();
  HFONT font = CreateFontW(-20, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, u"Arial");
  HGDIOBJ oldFont = SelectObject(dc, font);
  SetTextColor(dc, RGB(0, 0, 255));
  canvas->BeginPaint(dc);
  EXPECT_EQ(canvas->Handle(), dc);
  EXPECT_EQ(canvas->Font()->Height(), -20);  // the DC's objects are taken
  EXPECT_EQ(canvas->Font()->Color(), TColor(0xFF0000));
  canvas->Font()->SetColor(clRed);

  canvas->BeginPaint(b->Canvas());
  EXPECT_EQ(canvas->Canvas(), b->Canvas());
  canvas->Font()->SetHeight(-30);
  canvas->FillRect(Rect(0, 0, 20, 20), clRed);
  canvas->EndPaint();
  EXPECT_EQ(b->Canvas()->Font()->Height(), DefFontHeight);  // the wrapped canvas got its state back
  EXPECT_EQ(b->Canvas()->Pixels(5, 5), clRed);

  EXPECT_EQ(canvas->Handle(), dc);
  EXPECT_EQ(canvas->Font()->Color(), clRed);
  canvas->EndPaint();
  EXPECT_EQ(canvas->PaintCount(), 0);
  EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), font);  // the DC is as it was
  EXPECT_EQ(GetTextColor(dc), RGB(0, 0, 255));
  SelectObject(dc, oldFont);
  DeleteObject(font);
}

TEST(ScreenCanvas, MeasuresTextOnTheDesktopAndReleasesItsDC) {
  TvlScreenCanvas* canvas = vlGetScreenCanvas();
  ASSERT_NE(canvas, nullptr);
  EXPECT_GT(canvas->TextWidth(u"Sayaç"), 0);
  EXPECT_TRUE(canvas->Canvas()->HandleAllocated());
  canvas->Dormant();
  EXPECT_FALSE(canvas->Canvas()->HandleAllocated());
  EXPECT_GT(canvas->FontHeight(canvas->Font()), 0);
}

// --- Reference pictures ----------------------------------------------------------------------------

class CanvasPictureTest : public CanvasTextTest {};

TEST_F(CanvasPictureTest, FramesEdgesAndFocusRectangles) {
  Reset(240, 120);
  FCanvas->FillRect(Rect(0, 0, 240, 120), clBtnFace);
  // frames: all sides, per side, wide, and a complex frame
  FCanvas->FrameRect(Rect(8, 8, 48, 40), clNavy);
  FCanvas->FrameRect(Rect(56, 8, 96, 40), clRed, 3, TvlBorders{bLeft, bBottom});
  FCanvas->FrameRect(Rect(104, 8, 144, 40), clGreen, 4, TvlBorders{bTop, bRight});
  FCanvas->DrawComplexFrame(Rect(152, 8, 192, 40), clWhite, clGray, vlBordersAll, 2);
  TvlViewParams params;
  params.Color = clYellow;
  FCanvas->FillRect(Rect(200, 8, 232, 40), params, vlBordersAll, clMaroon, 2);
  // edges: raised and sunken, outer and inner, nested like a button and a field
  FCanvas->DrawEdge(Rect(8, 48, 48, 80), false, true);
  FCanvas->DrawEdge(Rect(9, 49, 47, 79), false, false);
  FCanvas->DrawEdge(Rect(56, 48, 96, 80), true, true);
  FCanvas->DrawEdge(Rect(57, 49, 95, 79), true, false);
  FCanvas->DrawEdge(Rect(104, 48, 144, 80), true, true, TvlBorders{bTop, bBottom});
  FCanvas->InvertFrame(Rect(152, 48, 192, 80), 3);
  // focus and design-selection rectangles
  FCanvas->DrawFocusRect(Rect(8, 88, 48, 112));
  FCanvas->DrawDesignSelection(Rect(56, 88, 96, 112), 3);
  // regions: filled, framed and both
  Owned<TvlRegion> round(NewBy<TvlRegion>(
      static_cast<void (TvlRegion::*)(Integer, Integer, Integer, Integer, Integer, Integer)>(
          &TvlRegion::CreateRoundCorners),
      104, 88, 144, 112, 10, 10));
  FCanvas->DrawRegion(round.get(), clSkyBlue, clNavy);
  Owned<TvlRegion> ring(New<TvlRegion>(152, 88, 192, 112));
  ring->Combine(New<TvlRegion>(160, 94, 184, 106), roSubtract);
  FCanvas->FillRegion(ring.get(), clTeal);
  FCanvas->FrameRegion(ring.get(), clBlack, 1, 1);
  ExpectMatchesReference(FBitmap.get(), "canvas-frames");
}

TEST_F(CanvasPictureTest, TextFlagCombinations) {
  Reset(320, 176);
  FCanvas->FillRect(Rect(0, 0, 320, 176), clBtnFace);
  FCanvas->Font()->SetName(u"Tahoma");
  FCanvas->Font()->SetColor(clWindowText);
  struct Cell {
    const char16_t* Text;
    Integer Flags;
    bool Enabled;
  };
  const Cell cells[] = {
      {u"Sol üst", vlAlignLeft | vlAlignTop | vlSingleLine, true},
      {u"Orta", vlAlignHCenter | vlAlignVCenter | vlSingleLine, true},
      {u"Sağ alt", vlAlignRight | vlAlignBottom | vlSingleLine, true},
      {u"Pasif metin", vlAlignHCenter | vlAlignVCenter | vlSingleLine, false},
      {u"&Dosya ve A&yarlar", vlAlignLeft | vlAlignVCenter | vlSingleLine | vlShowPrefix, true},
      {u"&Dosya ve A&yarlar", vlAlignLeft | vlAlignVCenter | vlSingleLine, true},
      {u"Uzun bir sütun başlığı kısaltılır", vlAlignLeft | vlAlignVCenter | vlSingleLine | vlShowEndEllipsis,
       true},
      {u"C:\\Program\\Veri\\kayit.mdb", vlAlignLeft | vlAlignVCenter | vlSingleLine | vlShowPathEllipsis, true},
      {u"Kart okuyucu bağlı değil, kabloyu denetleyin", vlAlignLeft | vlAlignTop | vlWordBreak, true},
      {u"Alta hizalı çok satırlı metin", vlAlignHCenter | vlAlignBottom | vlWordBreak, true},
      {u"Ortada çok satırlı pasif metin", vlAlignHCenter | vlAlignVCenter | vlWordBreak, false},
      {u"Sözcükler kesilir kesilmez uzunsözcükkırılmaz",
       vlAlignLeft | vlAlignTop | vlWordBreak | vlShowEndEllipsis, true},
  };
  for (size_t i = 0; i < std::size(cells); ++i) {
    const TRect r = Bounds(8 + Integer(i % 3) * 104, 8 + Integer(i / 3) * 42, 96, 36);
    FCanvas->Brush()->SetStyle(bsSolid);
    FCanvas->FrameRect(vlInflateRectBy(r, 1, 1), clGray);
    FCanvas->Brush()->SetStyle(bsClear);
    FCanvas->DrawTexT(cells[i].Text, r, cells[i].Flags, cells[i].Enabled);
  }
  ExpectMatchesReference(FBitmap.get(), "canvas-text");
}

TEST_F(CanvasPictureTest, PiesRotationAndClipping) {
  Reset(288, 120);
  FCanvas->FillRect(Rect(0, 0, 288, 120), clWhite);
  // pies at several angles
  const Integer pies[][2] = {{0, 90}, {45, 180}, {90, 270}, {0, 360}, {300, 120}};
  FCanvas->Brush()->SetColor(clSkyBlue);
  FCanvas->Pen()->SetColor(clNavy);
  for (Integer i = 0; i < 5; ++i) FCanvas->Pie(Bounds(8 + i * 56, 4, 48, 40), pies[i][0], pies[i][1]);
  // a glyph (an arrow) in each rotation
  Owned<TBitmap> glyph(New<TBitmap>());
  glyph->SetPixelFormat(pf32bit);
  glyph->SetSize(18, 12);
  glyph->Canvas()->Brush()->SetColor(clYellow);
  glyph->Canvas()->FillRect(Rect(0, 0, 18, 12));
  glyph->Canvas()->Brush()->SetColor(clMaroon);
  glyph->Canvas()->FillRect(Rect(0, 4, 12, 8));
  glyph->Canvas()->Pen()->SetColor(clMaroon);
  const std::vector<TPoint> head{{11, 0}, {17, 6}, {11, 11}};
  glyph->Canvas()->Polygon(head);
  const TvlRotationAngle angles[] = {ra0, raPlus90, raMinus90, ra180};
  for (Integer i = 0; i < 4; ++i) {
    Owned<TBitmap> b(New<TBitmap>());
    b->Assign(glyph.get());
    FCanvas->RotateBitmap(b.get(), angles[i], i == 0);
    FCanvas->Draw(8 + i * 28, 56, b.get());
  }
  // clipping: a saved clip restored after the origin moved and came back
  FCanvas->SaveClipRegion();
  FCanvas->SetClipRegion(New<TvlRegion>(128, 48, 248, 112), roSet);
  FCanvas->SetClipRegion(New<TvlRegion>(150, 60, 170, 100), roSubtract);
  FCanvas->SetWindowOrg(Point(-200, -60));
  FCanvas->SaveClipRegion();
  FCanvas->SetClipRegion(New<TvlRegion>(0, 0, 30, 30), roIntersect);
  FCanvas->FillRect(Rect(-100, -100, 100, 100), clRed);  // only the 30 x 30 square
  FCanvas->RestoreClipRegion();
  FCanvas->SetWindowOrg(Point(0, 0));
  FCanvas->FillRect(Rect(128, 48, 196, 112), clGreen);  // around the hole, beside the square
  FCanvas->RestoreClipRegion();
  FCanvas->FrameRect(Rect(126, 46, 250, 114), clBlack);
  ExpectMatchesReference(FBitmap.get(), "canvas-shapes");
}

}  // namespace
