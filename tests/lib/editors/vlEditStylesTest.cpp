#include <gtest/gtest.h>

#include "lib/editors/vlEdit.h"
#include "lib/editors/vlEditStyles.h"
#include "platform/rtl/Finally.h"

namespace {

TvlCustomEdit* NewEdit(Boolean AInplace = false) {
  return NewBy<TvlCustomEdit>(static_cast<void (TvlCustomEdit::*)(TComponent*, Boolean)>(&TvlCustomEdit::Create),
                              static_cast<TComponent*>(nullptr), AInplace);
}

TEST(vlEditStyle, AFreshEditorReadsTheFallbacks) {
  TvlCustomEdit* edit = NewEdit();
  Finally freed([&] { Free(edit); });
  TvlEditStyle* s = edit->Style();
  EXPECT_EQ(s->ButtonStyle(), btsDefault);
  EXPECT_EQ(s->ButtonTransparency(), ebtNone);
  EXPECT_EQ(s->GradientDirection(), dirDown);
  EXPECT_EQ(s->PopupBorderStyle(), epbsDefault);
  EXPECT_FALSE(s->Gradient());
  EXPECT_FALSE(s->GradientButtons());
  EXPECT_TRUE(s->PopupCloseButton());
  EXPECT_EQ(s->GetStyleValueCount(), 16);
  String name;
  EXPECT_TRUE(s->GetStyleValueName(svGradientDirection, name));
  EXPECT_EQ(name, u"GradientDirection");
}

TEST(vlEditStyle, StateStylesSendTheirValuesToTheNormalStyleExceptButtonStyle) {
  TvlCustomEdit* edit = NewEdit();
  Finally freed([&] { Free(edit); });
  edit->StyleFocused()->SetButtonTransparency(ebtAlways);
  EXPECT_EQ(edit->Style()->ButtonTransparency(), ebtAlways);
  EXPECT_EQ(edit->StyleHot()->ButtonTransparency(), ebtAlways);
  EXPECT_TRUE(edit->Style()->OwnAssigned(svButtonTransparency));
  EXPECT_FALSE(edit->StyleFocused()->OwnAssigned(svButtonTransparency));

  edit->StyleHot()->SetButtonStyle(btsFlat);
  EXPECT_EQ(edit->StyleHot()->ButtonStyle(), btsFlat);
  EXPECT_EQ(edit->Style()->ButtonStyle(), btsDefault);
  EXPECT_EQ(edit->StyleFocused()->ButtonStyle(), btsDefault);
  // A state style without its own value reads the normal style's.
  edit->Style()->SetButtonStyle(bts3D);
  EXPECT_EQ(edit->StyleFocused()->ButtonStyle(), bts3D);
  EXPECT_EQ(edit->StyleHot()->ButtonStyle(), btsFlat);
}

TEST(vlEditStyle, TheDefaultControllerReachesStandAloneEditorsOnly) {
  TvlEditStyleController* controller = vlDefaultEditStyleController();
  ASSERT_NE(controller, nullptr);
  TvlCustomEdit* standalone = NewEdit();
  TvlCustomEdit* inplace = NewEdit(true);
  Finally freed([&] {
    Free(standalone);
    Free(inplace);
    controller->RestoreStyles();
  });
  controller->Style()->SetButtonStyle(btsUltraFlat);
  controller->Style()->SetGradient(true);
  EXPECT_EQ(standalone->Style()->ButtonStyle(), btsUltraFlat);
  EXPECT_TRUE(standalone->StyleFocused()->Gradient());
  EXPECT_EQ(inplace->Style()->ButtonStyle(), btsDefault);
  EXPECT_FALSE(inplace->Style()->Gradient());
}

TEST(vlEditStyle, AnEditorsOwnControllerComesFirst) {
  TvlEditStyleController* own = New<TvlEditStyleController>(static_cast<TComponent*>(nullptr));
  TvlCustomEdit* edit = NewEdit();
  Finally freed([&] {
    Free(edit);
    Free(own);
  });
  own->StyleFocused()->SetButtonStyle(btsOffice11);
  edit->Style()->SetStyleController(own);
  EXPECT_EQ(edit->StyleFocused()->ButtonStyle(), btsOffice11);
  EXPECT_EQ(edit->Style()->ButtonStyle(), btsDefault);
  EXPECT_TRUE(edit->StyleFocused()->IsValueAssigned(svButtonStyle));
  EXPECT_FALSE(edit->Style()->IsValueAssigned(svButtonStyle));
}

TEST(vlEditStyle, AssignCopiesThePopupCloseButton) {
  TvlCustomEdit* a = NewEdit();
  TvlCustomEdit* b = NewEdit();
  Finally freed([&] {
    Free(a);
    Free(b);
  });
  a->Style()->SetPopupCloseButton(false);
  a->Style()->SetGradientButtons(true);
  b->Style()->Assign(a->Style());
  EXPECT_FALSE(b->Style()->PopupCloseButton());
  EXPECT_TRUE(b->Style()->GradientButtons());
  // Written on a state style, the switch lands on the normal style.
  b->StyleHot()->SetPopupCloseButton(true);
  EXPECT_TRUE(b->Style()->PopupCloseButton());
}

TEST(vlEditStyle, StateStylesShowOnlyTheirSixValues) {
  TvlCustomEdit* edit = NewEdit();
  Finally freed([&] { Free(edit); });
  const struct {
    const char16_t* Name;
    Boolean Shown;
  } values[] = {{u"BorderColor", true},  {u"BorderStyle", true},         {u"Color", true},
                {u"TextColor", true},    {u"TextStyle", true},           {u"ButtonStyle", true},
                {u"Edges", false},       {u"Font", false},               {u"Shadow", false},
                {u"Gradient", false},    {u"ButtonTransparency", false}, {u"PopupBorderStyle", false}};
  for (const auto& v : values)
    EXPECT_EQ(edit->StyleFocused()->IsExtendedStylePropertyPublished(v.Name), v.Shown)
        << std::string(v.Name, v.Name + 4);
}

}  // namespace
