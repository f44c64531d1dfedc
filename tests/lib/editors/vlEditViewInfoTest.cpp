#include <gtest/gtest.h>

#include "lib/editors/vlEditProperties.h"
#include "lib/editors/vlEditStyles.h"
#include "lib/editors/vlEditViewInfo.h"
#include "lib/foundation/vlGeometry.h"
#include "lib/foundation/vlGraphics.h"
#include "lib/lookandfeel/vlLookAndFeels.h"
#include "platform/rtl/Finally.h"
#include "platform/vcl/Graphics.h"
#include "platform/win/Windows.h"

namespace {

// Properties, a normal style and a canvas: a cell painted without an editor.
class EditViewInfoTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Props = New<TvlCustomEditProperties>(static_cast<TPersistent*>(nullptr));
    Style = New<TvlEditStyle>(static_cast<TPersistent*>(nullptr), false);
    Style->LookAndFeel()->SetNativeStyle(false);
    Style->LookAndFeel()->SetKind(lfUltraFlat);
    Style->SetEditBorderStyle(ebsSingle);
    Bitmap = New<TBitmap>();
    Bitmap->SetPixelFormat(pf32bit);
    Bitmap->SetSize(200, 40);
    Canvas = New<TvlCanvas>(Bitmap->Canvas());
    Info = CreateFrom(Props->GetViewInfoClass());
  }
  void TearDown() override {
    Free(Info);
    Free(Canvas);
    Free(Bitmap);
    Free(Style);
    Free(Props);
  }
  // Lays out in (0, 0, AWidth, 20) with the mouse at P.
  void Calculate(Integer AWidth, Boolean AInplace = false, TPoint P = TPoint{-1, -1}, Boolean AFocused = false,
                 TRect AContentOffset = TRect{}) {
    TvlCustomEditViewData* data = Props->CreateViewData(Style, AInplace);
    Finally freed([&] { Free(data); });
    data->Focused = AFocused;
    data->ContentOffset = AContentOffset;
    data->Calculate(Canvas, TRect{0, 0, AWidth, 20}, P, vlmbNone, TShiftState{}, Info, false);
  }
  TvlEditButton* AddButton(Integer AWidth, Boolean ALeft = false, TvlEditButtonKind AKind = bkEllipsis) {
    TvlEditButton* b = Props->Buttons()->Add();
    b->SetKind(AKind);
    b->SetWidth(AWidth);
    b->SetLeftAlignment(ALeft);
    return b;
  }
  static std::string Str(const TRect& R) {
    return std::to_string(R.Left) + "," + std::to_string(R.Top) + "," + std::to_string(R.Right) + "," +
           std::to_string(R.Bottom);
  }
  TvlCustomEditProperties* Props{};
  TvlEditStyle* Style{};
  TBitmap* Bitmap{};
  TvlCanvas* Canvas{};
  TvlCustomEditViewInfo* Info{};
};

TEST_F(EditViewInfoTest, BorderExtents) {
  const struct {
    TvlEditBorderStyle Border;
    Boolean Shadow;
    TvlBorders Edges;
    const char* Expected;
  } cases[] = {
      {ebsSingle, false, vlBordersAll, "1,1,1,1"},
      {ebsSingle, true, vlBordersAll, "1,1,4,4"},
      {ebsThick, false, vlBordersAll, "2,2,2,2"},
      {ebs3D, false, TvlBorders{bLeft, bBottom}, "2,0,0,2"},
      {ebsUltraFlat, false, vlBordersAll, "1,1,1,1"},
      {ebsOffice11, true, vlBordersAll, "1,1,4,4"},
      {ebsNone, false, vlBordersAll, "0,0,0,0"},
  };
  for (const auto& c : cases) {
    Style->SetEditBorderStyle(c.Border);
    Style->SetShadow(c.Shadow);
    Style->SetEdges(c.Edges);
    Calculate(100);
    EXPECT_EQ(Str(Info->BorderExtent), c.Expected) << int(c.Border) << " shadow " << c.Shadow;
    EXPECT_EQ(Str(Info->BorderRect), Str(vlDeflateRectByBorders(Info->Bounds, Info->BorderExtent)));
  }
  // In place the border extent is the owner's content offset.
  Calculate(100, true, TPoint{-1, -1}, false, TRect{2, 1, 3, 1});
  EXPECT_EQ(Str(Info->BorderExtent), "2,1,3,1");
  EXPECT_EQ(Info->BorderStyle, ebsNone);
}

TEST_F(EditViewInfoTest, UltraFlatBordersChangeColourWithFocusAndHotTracking) {
  Style->SetEditBorderStyle(ebsUltraFlat);
  Calculate(100);
  EXPECT_EQ(Info->BorderColor, TColor(clBtnShadow));
  EXPECT_EQ(Info->BorderStyle, ebsSingle);  // painted as a single frame
  Calculate(100, false, TPoint{-1, -1}, true);
  EXPECT_EQ(Info->BorderColor, TColor(clHighlight));
  Calculate(100, false, TPoint{50, 10});
  EXPECT_EQ(Info->BorderColor, TColor(clHighlight));
}

TEST_F(EditViewInfoTest, ButtonWidths) {
  TBitmap* glyph = New<TBitmap>();
  Finally freed([&] { Free(glyph); });
  glyph->SetSize(16, 16);
  const Integer arrow = win::GetSystemMetrics(win::SM_CYHSCROLL);
  TvlEditButton* down = AddButton(0, false, bkDown);
  TvlEditButton* glyphButton = AddButton(0, false, bkGlyph);
  glyphButton->SetGlyph(glyph);
  AddButton(2);                 // below the frame allowance
  AddButton(30);                // fixed
  AddButton(0, false, bkText);  // empty caption: the arrow size
  Calculate(190);
  ASSERT_EQ(Info->ButtonCount(), 5);
  const Integer expected[] = {arrow, 20, 4, 30, arrow};
  for (Integer i = 0; i < 5; ++i) EXPECT_EQ(Info->ButtonsInfo[size_t(i)]->Bounds.Width(), expected[i]) << i;
  (void)down;
}

TEST_F(EditViewInfoTest, RightButtonsInCollectionOrderLeftButtonsReversed) {
  AddButton(10);        // 0
  AddButton(11, true);  // 1
  AddButton(12);        // 2
  AddButton(13, true);  // 3
  Calculate(100);
  ASSERT_EQ(Info->ButtonCount(), 4);
  // Inside the 1-pixel border: left side 3 then 1, right side 0 then 2.
  EXPECT_EQ(Str(Info->ButtonsInfo[3]->Bounds), "1,1,14,19");
  EXPECT_EQ(Str(Info->ButtonsInfo[1]->Bounds), "14,1,25,19");
  EXPECT_EQ(Str(Info->ButtonsInfo[0]->Bounds), "77,1,87,19");
  EXPECT_EQ(Str(Info->ButtonsInfo[2]->Bounds), "87,1,99,19");
  // The buttons next to the text area.
  EXPECT_TRUE(Info->ButtonsInfo[1]->Data.Rightmost);
  EXPECT_TRUE(Info->ButtonsInfo[0]->Data.Leftmost);
  EXPECT_TRUE(Info->ButtonsInfo[2]->Data.Rightmost);
  EXPECT_TRUE(Info->ButtonsInfo[3]->Data.Leftmost);
  // The client area lies between them.
  EXPECT_EQ(Str(Info->ClientRect), "25,1,77,19");
  // Hints: a button by its collection index, the text area -1, outside -2.
  EXPECT_EQ(Info->GetHintPartAt(TPoint{80, 5}), 0);
  EXPECT_EQ(Info->GetHintPartAt(TPoint{50, 5}), -1);
  EXPECT_EQ(Info->GetHintPartAt(TPoint{50, 0}), -2);
  EXPECT_EQ(Str(Info->GetHintPartBounds(-1)), "25,1,77,19");
}

TEST_F(EditViewInfoTest, ButtonsOnlyViewStretchesTheButtons) {
  Props->SetButtonsViewStyle(bvsButtonsOnly);
  AddButton(20);
  AddButton(20);
  AddButton(40);
  // 1 + 80 + 20 spare + 1.
  Calculate(102);
  ASSERT_EQ(Info->ButtonCount(), 3);
  EXPECT_EQ(Str(Info->ButtonsInfo[0]->Bounds), "1,1,26,19");   // 20 + the rest, 5
  EXPECT_EQ(Str(Info->ButtonsInfo[1]->Bounds), "26,1,51,19");  // 20 + 5
  EXPECT_EQ(Str(Info->ButtonsInfo[2]->Bounds), "51,1,101,19"); // 40 + 10
  // A button that does not stretch keeps its width; the others share.
  Props->Buttons()->Items(2)->SetStretchable(false);
  Calculate(102);
  EXPECT_EQ(Info->ButtonsInfo[2]->Bounds.Width(), 40);
  EXPECT_EQ(Info->ButtonsInfo[0]->Bounds.Width() + Info->ButtonsInfo[1]->Bounds.Width(), 60);
}

TEST_F(EditViewInfoTest, ButtonsWiderThanTheEditorAreCut) {
  AddButton(60);
  AddButton(60);
  Calculate(100);
  ASSERT_EQ(Info->ButtonCount(), 2);
  EXPECT_EQ(Info->ButtonsInfo[1]->Bounds.Width(), 60);
  EXPECT_EQ(Info->ButtonsInfo[1]->VisibleBounds.Width(), 60);
  EXPECT_EQ(Info->ButtonsInfo[0]->Bounds.Width(), 60);
  EXPECT_EQ(Info->ButtonsInfo[0]->VisibleBounds.Width(), 38);
  EXPECT_EQ(Info->ButtonsInfo[0]->VisibleBounds.Left, 1);
}

TEST_F(EditViewInfoTest, ButtonTransparencyHidesButtons) {
  AddButton(15);
  Style->SetButtonTransparency(ebtHideInactive);
  Calculate(100);
  EXPECT_EQ(Info->ButtonCount(), 0);
  Calculate(100, false, TPoint{-1, -1}, true);
  EXPECT_EQ(Info->ButtonCount(), 1);
  Style->SetButtonTransparency(ebtHideUnselected);
  Calculate(100);
  EXPECT_EQ(Info->ButtonCount(), 0);
  Calculate(100, false, TPoint{30, 10});  // the mouse over the editor
  EXPECT_EQ(Info->ButtonCount(), 1);
  Style->SetButtonTransparency(ebtInactive);
  Calculate(100);
  EXPECT_TRUE(Info->ButtonsInfo[0]->Data.Transparent);
  Calculate(100, false, TPoint{-1, -1}, true);
  EXPECT_FALSE(Info->ButtonsInfo[0]->Data.Transparent);
}

TEST_F(EditViewInfoTest, ButtonStylesFollowTheBorderOrTheLookAndFeel) {
  AddButton(15);
  const struct {
    TvlEditBorderStyle Border;
    TvlEditButtonStyle Expected;
  } byBorder[] = {{ebsSingle, btsHotFlat}, {ebsThick, bts3D}, {ebsFlat, btsFlat},
                  {ebs3D, bts3D},          {ebsUltraFlat, btsUltraFlat}, {ebsOffice11, btsOffice11}};
  for (const auto& c : byBorder) {
    Style->SetEditBorderStyle(c.Border);
    Calculate(100);
    EXPECT_EQ(Info->ButtonsInfo[0]->Data.Style, c.Expected) << int(c.Border);
  }
  Style->SetEditBorderStyle(ebsNone);
  Style->SetHotTrack(false);
  Style->LookAndFeel()->SetKind(lfFlat);
  Calculate(100);
  EXPECT_EQ(Info->ButtonsInfo[0]->Data.Style, btsFlat);
  Style->SetHotTrack(true);
  Calculate(100);
  EXPECT_EQ(Info->ButtonsInfo[0]->Data.Style, btsSimple);
  Style->SetButtonStyle(bts3D);
  Calculate(100);
  EXPECT_EQ(Info->ButtonsInfo[0]->Data.Style, bts3D);
}

TEST_F(EditViewInfoTest, MeasuringWithATooNarrowWidthAnswersThatWidth) {
  Style->SetEditBorderStyle(ebsThick);
  TvlEditSizeProperties limits;
  limits.Width = 3;  // less than the constant part, 4
  const TSize s = Props->GetEditSize(Canvas, Style, false, Variant(), limits);
  EXPECT_EQ(s.cx, 3);
  EXPECT_EQ(s.cy, 4);
}

TEST_F(EditViewInfoTest, AButtonViewMeasuresTheHeightOfZg) {
  Props->SetButtonsViewStyle(bvsButtonsOnly);
  AddButton(20);
  Canvas->SetFont(Style->GetVisibleFont());
  const Integer zg = Canvas->TextHeight(u"Zg");
  // Stand-alone content offsets 1 + 3 plus no correction; the single border 2.
  const TSize s = Props->GetEditSize(Canvas, Style, false, Variant(u"anything"), TvlEditSizeProperties{});
  EXPECT_EQ(s.cy, 2 + 4 + zg);
  const TSize inplace = Props->GetEditSize(Canvas, Style, true, Variant(), TvlEditSizeProperties{});
  EXPECT_EQ(inplace.cy, 0 + 2 + zg);
}

TEST_F(EditViewInfoTest, ButtonStatesDecideTheUpdateRegion) {
  AddButton(15);
  AddButton(15);
  Calculate(100);
  TvlCustomEditViewInfo* old = CreateFrom(Props->GetViewInfoClass());
  Finally freed([&] { Free(old); });
  old->Assign(Info);
  Calculate(100, false, TPoint{95, 10});  // the last button is hot
  EXPECT_EQ(Info->ButtonsInfo[1]->Data.State, ebsSelected);
  TvlRegion* region = Info->GetUpdateRegion(old);
  Finally freeRegion([&] { Free(region); });
  EXPECT_EQ(Str(region->BoundsRect()), Str(Info->ButtonsInfo[1]->Bounds));
  // A change of border colour repaints everything.
  old->BorderColor = clRed;
  TvlRegion* all = Info->GetUpdateRegion(old);
  Finally freeAll([&] { Free(all); });
  EXPECT_EQ(Str(all->BoundsRect()), Str(Info->Bounds));
}

}  // namespace
