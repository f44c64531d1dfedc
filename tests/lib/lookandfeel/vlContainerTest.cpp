// Container styles and the style controller's look-ups; the container with
// an inner edit: border and colours by state, Tab and Shift+Tab, the
// window region with a shadow.
#include "lib/lookandfeel/vlContainer.h"

#include <gtest/gtest.h>

#include "platform/vcl/Graphics.h"
#include "platform/vcl/StdCtrls.h"
#include "platform/win/Gdi.h"
#include "tests/lib/lookandfeel/ControlFixture.h"

using namespace win;
using controltest::ControlFixture;

namespace {

// An inner edit that tells its container when the focus comes and goes,
// as the editors' inner controls do.
class TInnerEdit : public TEdit, public IvlContainerInnerControl {
  CL_CLASS(TInnerEdit, TEdit)
 public:
  TWinControl* GetInnerControl() override { return this; }
  TvlContainer* GetOwnerContainer() override { return dynamic_cast<TvlContainer*>(Parent()); }
  void Dispatch(TMessage& Message) override {
    inherited::Dispatch(Message);
    if ((Message.Msg == WM_SETFOCUS || Message.Msg == WM_KILLFOCUS) && GetOwnerContainer())
      GetOwnerContainer()->ShortRefreshContainer(false);
  }
};
CL_IMPLEMENT_CLASS(TInnerEdit)

// A container hosting an edit, as the editors do.
class TEditContainer : public TvlContainer {
  CL_CLASS(TEditContainer, TvlContainer)
 public:
  void Create(TComponent* AOwner) override {
    inherited::Create(AOwner);
    Edit = New<TInnerEdit>(static_cast<TComponent*>(this));
    Edit->SetBorderStyle(bsNone);
    Edit->SetParent(this);
    SetInnerControl(Edit);
  }
  TInnerEdit* Edit{};
};
CL_IMPLEMENT_CLASS(TEditContainer)

// The default controller every base style links to.
class StyleFixture : public ControlFixture {
 protected:
  void SetUp() override {
    Default = New<TvlStyleController>(nullptr);
    vlSetFallbackStyleController(Default);
    ControlFixture::SetUp();
  }
  void TearDown() override {
    ControlFixture::TearDown();
    vlSetFallbackStyleController(nullptr);
    FreeAndNil(Default);
  }
  TvlContainerStyles* MakeStyles() {
    return New<TvlContainerStyles>(static_cast<TPersistent*>(nullptr), ClassOf<TvlContainerStyle>());
  }
  TvlStyleController* Default{};
};

TEST_F(StyleFixture, StateBorderStylesFollowTheNormalStyleAndHotTrack) {
  TvlContainerStyles* styles = MakeStyles();
  EXPECT_EQ(styles->Style()->BorderStyle(), cbsUltraFlat);  // the root look and feel is ultra-flat
  styles->Style()->SetBorderStyle(cbsSingle);
  EXPECT_EQ(styles->StyleFocused()->BorderStyle(), cbsThick);
  EXPECT_EQ(styles->StyleHot()->BorderStyle(), cbsThick);
  EXPECT_EQ(styles->StyleDisabled()->BorderStyle(), cbsSingle);
  styles->Style()->SetHotTrack(false);
  EXPECT_EQ(styles->StyleFocused()->BorderStyle(), cbsSingle);
  styles->Style()->SetBorderStyle(cbsFlat);
  styles->Style()->SetHotTrack(true);
  EXPECT_EQ(styles->StyleFocused()->BorderStyle(), cbs3D);
  // defaults of the other values
  EXPECT_EQ(styles->StyleDisabled()->BorderColor(), TColor(clBtnShadow));
  EXPECT_EQ(styles->StyleDisabled()->TextColor(), TColor(clBtnShadow));
  EXPECT_EQ(styles->Style()->Color(), TColor(clBtnFace));  // no container
  EXPECT_TRUE(styles->Style()->TransparentBorder());
  EXPECT_EQ(styles->Style()->Edges(), vlBordersAll);
  Free(styles);
}

class TChanges : public TObject {
  CL_CLASS(TChanges, TObject)
 public:
  void Changed(TObject*) { ++Count; }
  Integer Count = 0;
};
CL_IMPLEMENT_CLASS(TChanges)

TEST_F(StyleFixture, SettingValuesReportsRealChangesOnly) {
  TvlContainerStyles* styles = MakeStyles();
  TChanges* changes = New<TChanges>();
  styles->SetOnChanged(TNotifyEvent(changes, &TChanges::Changed));
  TvlContainerStyle* s = styles->Style();
  s->SetColor(clRed);
  s->SetColor(clRed);
  EXPECT_EQ(changes->Count, 1);
  EXPECT_TRUE(s->IsValueAssigned(svColor));
  s->SetTextColor(s->TextColor());  // equal to the effective value: not assigned
  EXPECT_FALSE(s->IsValueAssigned(svTextColor));
  s->BeginUpdate();
  s->SetBorderColor(clBlue);
  s->SetShadow(true);
  s->EndUpdate();
  EXPECT_EQ(changes->Count, 2);  // once for the update
  TvlContainerStyleValue v = -1;
  EXPECT_TRUE(s->GetStyleValue(u"textcolor", v));
  EXPECT_EQ(v, svTextColor);
  EXPECT_FALSE(s->GetStyleValue(u"Colour", v));
  EXPECT_FALSE(s->IsExtendedStylePropertyPublished(u"Edges"));
  EXPECT_FALSE(s->IsExtendedStylePropertyPublished(u"StyleController"));
  EXPECT_TRUE(s->IsExtendedStylePropertyPublished(u"BorderColor"));
  Free(styles);
  Free(changes);
}

TEST_F(StyleFixture, ControllersChainAndRefuseCircles) {
  TvlStyleController* a = New<TvlStyleController>(nullptr);
  TvlStyleController* b = New<TvlStyleController>(nullptr);
  TvlContainerStyles* styles = MakeStyles();
  styles->Style()->SetStyleController(a);
  EXPECT_EQ(styles->Style()->StyleController(), a);
  EXPECT_EQ(styles->StyleHot()->StyleController(), a);  // state styles read the base style's link
  a->GetStateStyle(csHotTrack)->SetColor(clYellow);
  EXPECT_EQ(styles->StyleHot()->Color(), TColor(clYellow));
  EXPECT_TRUE(styles->StyleHot()->IsValueAssigned(svColor));
  styles->StyleHot()->SetColor(clLime);  // its own value wins
  EXPECT_EQ(styles->StyleHot()->Color(), TColor(clLime));
  // a chain: A's styles link to B
  a->GetNormalStyle()->SetStyleController(b);
  b->GetNormalStyle()->SetBorderColor(clMaroon);
  EXPECT_EQ(styles->Style()->BorderColor(), TColor(clMaroon));
  b->GetNormalStyle()->SetStyleController(a);  // would close a circle: refused
  EXPECT_EQ(b->GetNormalStyle()->StyleController(), nullptr);
  // destroying A relinks its styles to the default, own values intact
  Free(a);
  EXPECT_EQ(styles->Style()->StyleController(), nullptr);
  EXPECT_EQ(styles->StyleHot()->Color(), TColor(clLime));
  EXPECT_EQ(b->ListenerCount(), 0);
  Free(styles);
  Free(b);
}

class ContainerTest : public StyleFixture {
 protected:
  TEditContainer* Make(int X, int Y) {
    TEditContainer* c = Add<TEditContainer>(X, Y, 120, 24);
    Pump();
    return c;
  }
};

TEST_F(ContainerTest, StatesDriveBorderAndTheInnerControl) {
  TEditContainer* a = Make(20, 20);
  TEditContainer* b = Make(20, 60);
  Pump();
  TvlContainerViewInfo* vi = a->ViewInfo();
  EXPECT_EQ(vi->ContainerState, TvlContainerState{csNormal});
  EXPECT_EQ(vi->BorderStyle, cbsSingle);  // ultra-flat shows as a single frame
  EXPECT_EQ(vi->BorderColor, TColor(clBtnShadow));
  EXPECT_EQ(vi->BorderRect, (TRect{2, 2, 118, 22}));  // a transparent border is 2 wide
  EXPECT_EQ(a->Edit->BoundsRect(), vi->ClientRect);
  // hot: the pointer over it, no button held
  MoveTo(a, 60, 12);
  EXPECT_TRUE(vi->ContainerState.Contains(csHotTrack));
  EXPECT_EQ(vi->BorderColor, TColor(clHighlight));
  // the pointer leaves: the tracking timer ends the hot state
  MoveTo(b, 60, 12);
  Wait(20);
  EXPECT_FALSE(vi->ContainerState.Contains(csHotTrack));
  // focused by a click: the edit inside takes the focus
  ClickAt(a, 60, 12);
  EXPECT_EQ(GetFocus(), a->Edit->Handle());
  EXPECT_TRUE(vi->ContainerState.Contains(csActive));
  EXPECT_EQ(vi->BorderColor, TColor(clHighlight));
  // disabled
  b->SetEnabledProp(false);
  EXPECT_EQ(b->ViewInfo()->ContainerState, TvlContainerState{csDisabled});
  EXPECT_EQ(b->ViewInfo()->BackgroundColor(), TColor(clBtnFace));
}

TEST_F(ContainerTest, TabAndShiftTabMoveBetweenContainers) {
  TEditContainer* a = Make(20, 20);
  TEditContainer* b = Make(20, 60);
  TEditContainer* c = Make(20, 100);
  a->SetFocus();
  Pump();
  ASSERT_EQ(GetFocus(), a->Edit->Handle());
  Display.KeyPress(VK_TAB);
  Pump();
  EXPECT_EQ(GetFocus(), b->Edit->Handle());
  Display.KeyPress(VK_TAB);
  Pump();
  EXPECT_EQ(GetFocus(), c->Edit->Handle());
  Display.KeyDown(VK_SHIFT);
  Display.KeyPress(VK_TAB);
  Display.KeyUp(VK_SHIFT);
  Pump();
  EXPECT_EQ(GetFocus(), b->Edit->Handle());
}

TEST_F(ContainerTest, ShadowShapesTheWindow) {
  TEditContainer* a = Make(20, 20);
  a->Style()->SetShadow(true);
  a->Style()->SetTransparentBorder(false);
  Pump();
  HRGN rgn = CreateRectRgn(0, 0, 0, 0);
  ASSERT_NE(GetWindowRgn(a->Handle(), rgn), ERROR);
  EXPECT_TRUE(PtInRegion(rgn, 0, 0));
  EXPECT_TRUE(PtInRegion(rgn, 118, 22));  // the shadow strips
  EXPECT_FALSE(PtInRegion(rgn, 118, 1));  // the corner outside both strips
  EXPECT_FALSE(PtInRegion(rgn, 1, 22));
  DeleteObject(rgn);
  EXPECT_EQ(a->ViewInfo()->BorderRect, (TRect{1, 1, 116, 20}));
}

}  // namespace
