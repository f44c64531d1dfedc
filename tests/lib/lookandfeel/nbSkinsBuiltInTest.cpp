// The built-in skin: read from the program's resources, complete for every
// look-up of the skin information (no placeholder), stable through a save and
// a load, and drawn: buttons, headers, scroll bars, check boxes, radio
// buttons, editor buttons and indicators in each state.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "lib/foundation/vlImages.h"
#include "lib/lookandfeel/nbSkinInfo.h"
#include "platform/classes/Resources.h"
#include "platform/rtl/CodePages.h"
#include "tests/lib/lookandfeel/LookAndFeelPicture.h"
#include "tests/lib/lookandfeel/SkinFixture.h"

namespace {

using namespace skin_test;

TnbSkin* LoadBuiltIn() {
  return New<TnbSkin>(String(u"DefaultUserSkinData"), static_cast<void*>(HInstance), true);
}

TEST(BuiltInSkin, IsReadFromTheResourceAndLacksNothing) {
  TnbSkin* skin = LoadBuiltIn();
  Owned<TnbSkinInfo> info(New<TnbSkinInfo>(skin));
  EXPECT_EQ(u"defaultuserskindata", skin->Name());
  EXPECT_DOUBLE_EQ(1.02, skin->Version());
  EXPECT_EQ(13, skin->ColorCount());
  EXPECT_EQ(13, skin->GroupCount());
  // Every element a painter asks for is there.
  EXPECT_FALSE(skin->HasMissingElements());
  for (Integer g = 0; g < skin->GroupCount(); ++g)
    for (Integer e = 0; e < skin->Groups(g)->Count(); ++e) {
      TnbSkinElement* element = skin->Groups(g)->Elements(e);
      EXPECT_FALSE(element->State().Contains(sosUnassigned)) << UTF16ToUTF8(element->Path() + element->Name());
    }
  for (TnbSkinColor* color : {info->ContentColor, info->SelectionColor, info->ContainerBorderColor,
                              info->HeaderBackgroundColor, info->LayoutControlColor})
    ASSERT_NE(nullptr, color);
  EXPECT_EQ(3, info->ButtonElements->ContentOffset()->Left());
  EXPECT_EQ(TColor(0x8D8D8D), info->ButtonDisabled->Value());
  EXPECT_EQ(3, info->CheckboxElement->ImageCount());
  EXPECT_EQ(10, info->IndicatorImages->ImageCount());
  EXPECT_EQ(13, info->CheckboxElement->Size().cx);
  EXPECT_EQ(1, info->FormCaptionDelta);
}

// The stream's data as the built-in skin's table gives it: the colours in
// stream order, the groups, and the rows of "Button", "ScrollButton",
// "Checkbox", "RadioButton", "IndicatorImages" and "GroupRow" (the element
// counts differ: docs/skins.md).
TEST(BuiltInSkin, MatchesTheTableOfTheBuiltInSkin) {
  Owned<TnbSkin> skin(LoadBuiltIn());
  const std::pair<const char16_t*, Cardinal> colours[] = {
      {u"ContainerBorderColor", 0x9C9C9C},      {u"ContainerHighlightBorderColor", 0x898989},
      {u"ContentColor", 0xF2F1F0},              {u"ContentEvenColor", 0xF3F0EE},
      {u"ContentOddColor", 0xFFFFFF},           {u"ContentTextColor", 0x000000},
      {u"DockControlHiddenBarTextColor", 0},    {u"DockControlHiddenBarTextHotColor", 0},
      {u"HeaderBackgroundColor", 0x8B8887},     {u"HeaderBackgroundTextColor", 0x757170},
      {u"LayoutControlColor", 0xF2F1F0},        {u"SelectionColor", 0xC56A31},
      {u"SelectionTextColor", 0xFFFFFF}};
  ASSERT_EQ(13, skin->ColorCount());
  for (Integer i = 0; i < 13; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(String(colours[i].first), skin->Colors(i)->Name());
    EXPECT_EQ(TColor(colours[i].second), skin->Colors(i)->Value());
  }
  const char16_t* const groups[] = {u"Bars",        u"Common",         u"Docking", u"Editors",   u"Form",
                                    u"Grid",        u"NavBar",         u"NavPane", u"PageControl",
                                    u"PrintingSystem", u"Ribbon",      u"Scheduler", u"VerticalGrid"};
  ASSERT_EQ(13, skin->GroupCount());
  for (Integer g = 0; g < 13; ++g) EXPECT_EQ(String(groups[g]), skin->Groups(g)->Name());

  auto element = [&](const char16_t* AGroup, const char16_t* AName) {
    TnbSkinElement* e = skin->GetGroupByName(AGroup)->GetElementByName(AName);
    EXPECT_NE(nullptr, e) << UTF16ToUTF8(AName);
    return e;
  };
  auto rect = [](TvlRect* R) { return std::vector<Integer>{R->Left(), R->Top(), R->Right(), R->Bottom()}; };
  TnbSkinElement* button = element(u"Common", u"Button");
  ASSERT_NE(nullptr, button);
  EXPECT_EQ(clNone, button->Color());
  EXPECT_EQ(1, button->ImageCount());
  EXPECT_EQ((std::vector<Integer>{3, 3, 3, 3}), rect(button->ContentOffset()));
  EXPECT_EQ(16, button->MinSize()->Width());
  EXPECT_EQ(12, button->MinSize()->Height());
  EXPECT_EQ(ilVertical, button->Image()->ImageLayout());
  EXPECT_EQ((TnbSkinElementStates{esNormal, esHot, esPressed, esDisabled, esActive, esChecked}),
            button->Image()->States());
  EXPECT_EQ((std::vector<Integer>{6, 11, 6, 4}), rect(button->Image()->Margins()));
  EXPECT_EQ(smStretch, button->Image()->Stretch());
  auto* disabled = dynamic_cast<TnbSkinColor*>(button->GetPropertyByName(u"DisabledText"));
  ASSERT_NE(nullptr, disabled);
  EXPECT_EQ(TColor(0x8D8D8D), disabled->Value());

  TnbSkinElement* scroll = element(u"Common", u"ScrollButton");
  ASSERT_NE(nullptr, scroll);
  EXPECT_EQ(TColor(0xF2F1F0), scroll->Color());
  EXPECT_EQ(4, scroll->ImageCount());
  EXPECT_EQ(ilVertical, scroll->Image()->ImageLayout());
  EXPECT_EQ((TnbSkinElementStates{esNormal, esHot, esPressed, esDisabled}), scroll->Image()->States());
  EXPECT_EQ((std::vector<Integer>{8, 8, 3, 3}), rect(scroll->Image()->Margins()));
  EXPECT_FALSE(scroll->Glyph()->Empty());

  TnbSkinElement* check = element(u"Editors", u"Checkbox");
  TnbSkinElement* radio = element(u"Editors", u"RadioButton");
  ASSERT_TRUE(check && radio);
  EXPECT_EQ(3, check->ImageCount());
  EXPECT_EQ((TnbSkinElementStates{esNormal, esHot, esPressed, esDisabled}), check->Image()->States());
  EXPECT_EQ(smNoResize, check->Image()->Stretch());
  EXPECT_EQ(2, radio->ImageCount());

  TnbSkinElement* indicators = element(u"Grid", u"IndicatorImages");
  ASSERT_NE(nullptr, indicators);
  EXPECT_EQ(10, indicators->ImageCount());
  EXPECT_EQ(ilHorizontal, indicators->Image()->ImageLayout());
  EXPECT_EQ((TnbSkinElementStates{esNormal}), indicators->Image()->States());
  EXPECT_EQ(smNoResize, indicators->Image()->Stretch());

  TnbSkinElement* groupRow = element(u"Grid", u"GroupRow");
  ASSERT_NE(nullptr, groupRow);
  EXPECT_EQ(TColor(0xF0EFEE), groupRow->Color());
  EXPECT_EQ(TColor(0x916F70), groupRow->TextColor());
  EXPECT_TRUE(groupRow->Image()->Empty());
}

TEST(BuiltInSkin, SavedAndLoadedAgainIsEqual) {
  Owned<TnbSkin> skin(LoadBuiltIn());
  const std::string bytes = SaveToBytes(skin.get());
  Owned<TnbSkin> again(New<TnbSkin>(String(u"X"), static_cast<void*>(nullptr), false));
  Owned<TMemoryStream> in(StreamOf(bytes));
  again->LoadFromStream(in.get());
  std::string why;
  EXPECT_TRUE(SkinsEqual(skin.get(), again.get(), &why)) << why;
}

// The controls' elements as the skin painter draws them, one column per
// state (normal, hot, pressed, disabled, default/active).
void DrawControls(TnbSkinInfo* AInfo, TBitmap* ASheet) {
  const win::HDC dc = ASheet->Canvas()->Handle();
  const TnbSkinElementState states[5] = {esNormal, esHot, esPressed, esDisabled, esActive};
  for (Integer s = 0; s < 5; ++s) {
    const Integer x = 4 + s * 52;
    // Button 48 x 22.
    AInfo->ButtonElements->Draw(dc, Rect(x, 4, x + 48, 26), 0, states[s]);
    // Header 48 x 20.
    AInfo->Header->Draw(dc, Rect(x, 30, x + 48, 50), 0, states[s]);
    // A vertical scroll bar: line up, thumb, page area, line down.
    TnbSkinScrollInfo* const* v = AInfo->ScrollBar_Elements[0];
    v[4]->Draw(dc, Rect(x, 54, x + 17, 124), esNormal);
    v[1]->Draw(dc, Rect(x, 54, x + 17, 71), states[s]);
    v[3]->Draw(dc, Rect(x, 80, x + 17, 104), states[s]);
    v[2]->Draw(dc, Rect(x, 107, x + 17, 124), states[s]);
    // A horizontal one.
    TnbSkinScrollInfo* const* h = AInfo->ScrollBar_Elements[1];
    h[4]->Draw(dc, Rect(x + 20, 54, x + 48, 71), esNormal);
    h[1]->Draw(dc, Rect(x + 20, 54, x + 37, 71), states[s]);
    h[2]->Draw(dc, Rect(x + 20, 74, x + 37, 91), states[s]);
    h[3]->Draw(dc, Rect(x + 20, 94, x + 48, 111), states[s]);
    // Check box (unchecked, checked, grayed) and radio button (off, on).
    for (Integer i = 0; i < 3; ++i) AInfo->CheckboxElement->Draw(dc, Rect(x + i * 15, 128, x + i * 15 + 13, 141), i, states[s]);
    for (Integer i = 0; i < 2; ++i) AInfo->RadioGroupButton->Draw(dc, Rect(x + i * 15, 144, x + i * 15 + 13, 157), i, states[s]);
    // Editor button with its drop-down glyph, and the close button.
    AInfo->EditButtonElements[0]->Draw(dc, Rect(x, 160, x + 17, 180), 0, states[s]);
    AInfo->EditButtonGlyphs[1]->Draw(dc, Rect(x + 2, 162, x + 15, 178), 0, esNormal);
    AInfo->EditButtonElements[1]->Draw(dc, Rect(x + 20, 160, x + 36, 174), 0, states[s]);
    // Expand button, filter buttons, tab header.
    AInfo->ExpandButton->Draw(dc, Rect(x + 38, 160, x + 47, 169), s % 2, esNormal);
    AInfo->FilterButtons[s % 2]->Draw(dc, Rect(x, 184, x + 14, 198), 0, states[s]);
    AInfo->PageControlHeader->Draw(dc, Rect(x + 16, 184, x + 48, 204), 0, states[s]);
  }
  // Indicator images 0 to 9 in 12 x 14 cells.
  for (Integer i = 0; i < 10; ++i) AInfo->IndicatorImages->Draw(dc, Rect(4 + i * 14, 208, 16 + i * 14, 222), i, esNormal);
  // Size grip, splitter, progress bar, track bar.
  AInfo->SizeGrip->Draw(dc, Rect(150, 208, 162, 220), 0, esNormal);
  AInfo->ProgressBarElements[0]->Draw(dc, Rect(170, 208, 250, 220), 0, esNormal);
  AInfo->ProgressBarElements[2]->Draw(dc, Rect(171, 209, 210, 219), 0, esNormal);
  AInfo->TrackBarTrack[1]->Draw(dc, Rect(4, 232, 120, 236), 0, esNormal);
  AInfo->TrackBarTrack[1]->Draw(dc, Rect(4, 232, 60, 236), 1, esNormal);
  AInfo->TrackBarThumb[1][1]->Draw(dc, Rect(55, 226, 66, 245), 0, esNormal);
  AInfo->GridGroupRow->Draw(dc, Rect(130, 226, 260, 244), 0, esNormal);
}

TEST(BuiltInSkin, ReferencePictureOfTheControls) {
  TnbSkin* skin = LoadBuiltIn();
  Owned<TnbSkinInfo> info(New<TnbSkinInfo>(skin));
  Owned<TBitmap> sheet(NewSurface(264, 250, TColor(0xF3F1F0)));
  DrawControls(info.get(), sheet.get());
  lookandfeel_test::ExpectMatchesReference(sheet.get(), "skin-builtin-controls", 2);
}

TEST(BuiltInSkin, AnEmptySkinShowsPlaceholders) {
  TnbSkin* skin = New<TnbSkin>(String(u"Empty"), static_cast<void*>(nullptr), false);
  Owned<TnbSkinInfo> info(New<TnbSkinInfo>(skin));
  Owned<TBitmap> sheet(NewSurface(264, 250, TColor(0xF3F1F0)));
  DrawControls(info.get(), sheet.get());
  EXPECT_TRUE(skin->HasMissingElements());
  lookandfeel_test::ExpectMatchesReference(sheet.get(), "skin-empty-controls", 2);
}

}  // namespace
