// Skin information: look-ups of groups, elements, colours and integers,
// red-cross placeholders for what the skin lacks, re-resolution on change,
// ownership of the skin.
#include <gtest/gtest.h>

#include "lib/foundation/vlImages.h"
#include "lib/lookandfeel/nbSkinInfo.h"
#include "tests/lib/lookandfeel/SkinFixture.h"

namespace {

using namespace skin_test;

TnbSkin* NewSkin() { return New<TnbSkin>(String(u"Info"), static_cast<void*>(nullptr), false); }

TEST(SkinInfo, MissingGroupsAndElementsBecomeRedCrosses) {
  TnbSkin* skin = NewSkin();
  TnbSkinElement* custom = skin->AddGroup(u"Bars")->AddElement(u"Bar");
  Owned<TnbSkinInfo> info(New<TnbSkinInfo>(skin));
  EXPECT_EQ(custom, info->Bar);
  EXPECT_FALSE(custom->State().Contains(sosUnused));
  EXPECT_FALSE(custom->State().Contains(sosUnassigned));
  // "Common" was missing: added, marked unassigned, its elements placeholders.
  ASSERT_NE(nullptr, info->Group_Common);
  EXPECT_TRUE(info->Group_Common->State().Contains(sosUnassigned));
  EXPECT_FALSE(info->Group_Common->State().Contains(sosUnused));
  EXPECT_TRUE(skin->HasMissingElements());
  TnbSkinElement* button = info->ButtonElements;
  ASSERT_NE(nullptr, button);
  EXPECT_TRUE(button->State().Contains(sosUnassigned));
  EXPECT_EQ(32, button->Size().cx);
  Owned<TBitmap> b(vlNewBitmap32(32, 32, true));
  button->Draw(b->Canvas()->Handle(), Rect(0, 0, 32, 32), 0, esNormal);
  EXPECT_EQ(0xFF0000u, PixelAt(b.get(), 16, 16));  // the cross
  EXPECT_EQ(0xFF0000u, PixelAt(b.get(), 5, 26));
  EXPECT_EQ(0xFFFFFFu, PixelAt(b.get(), 16, 4));
  // Two bar elements stay nil without a placeholder.
  EXPECT_EQ(nullptr, info->MainMenuCustomize);
  EXPECT_EQ(nullptr, info->MainMenuDrag);
  EXPECT_EQ(nullptr, info->Group_Bars->GetElementByName(u"MainMenuCustomize"));
  // Colours absent from the skin stay nil.
  EXPECT_EQ(nullptr, info->ContentColor);
  EXPECT_EQ(nullptr, info->ButtonDisabled);
}

TEST(SkinInfo, ResolvesAgainWhenTheSkinChanges) {
  TnbSkin* skin = NewSkin();
  Owned<TnbSkinInfo> info(New<TnbSkinInfo>(skin));
  EXPECT_EQ(1, info->FormCaptionDelta);
  TnbSkinScrollInfo* oldThumb = info->ScrollBar_Elements[0][3];
  ASSERT_NE(nullptr, oldThumb);
  EXPECT_EQ(nullptr, info->ScrollBar_Elements[0][0]);
  EXPECT_EQ(3, info->ScrollBar_Elements[1][2]->ImageIndex());
  TnbSkinColor* content = skin->AddColor(u"ContentColor", TColor(0xF2F1F0));
  EXPECT_EQ(content, info->ContentColor);
  auto* delta = static_cast<TnbSkinIntegerProperty*>(
      info->FormFrames[1][1]->AddProperty(u"FontDelta", ClassOf<TnbSkinIntegerProperty>()));
  delta->SetValue(5);
  EXPECT_EQ(5, info->FormCaptionDelta);
  delta->SetValue(-3);
  EXPECT_EQ(1, info->FormCaptionDelta);
  // The scroll button takes the colour of the form content.
  info->FormContent->SetColor(TColor(0x123456));
  EXPECT_EQ(TColor(0x123456), info->ScrollBar_Elements[0][1]->Element()->Color());
  // A colour of the wrong class is an error (raised by the re-resolution).
  EXPECT_THROW(info->Group_Editors->AddProperty(u"HyperLinkTextColor", ClassOf<TnbSkinIntegerProperty>()),
               EInvalidCast);
}

TEST(SkinInfo, WithoutASkinEverythingIsNilAndTheSkinIsOwned) {
  Owned<TnbSkinInfo> empty(New<TnbSkinInfo>(static_cast<TnbSkin*>(nullptr)));
  EXPECT_EQ(nullptr, empty->Group_Common);
  EXPECT_EQ(nullptr, empty->ButtonElements);
  EXPECT_EQ(nullptr, empty->ScrollBar_Elements[1][3]);
  TnbSkin* skin = NewSkin();
  empty->SetSkin(skin);
  EXPECT_EQ(1, skin->ListenerCount());
  EXPECT_NE(nullptr, empty->Group_Common);
  // Freeing the information frees its skin (the sanitizer sees a leak otherwise).
  empty.reset();
}

}  // namespace
