// Container styles and the style controller's look-ups; the container with
// an inner edit: border and colours by state, Tab and Shift+Tab, the
// window region with a shadow, leaving the hot state when disabled, fonts
// through the parent or its own, focus after a move, scaling, long
// captions, dragging passed to the inner control and the refresh after a
// translation.
#include "lib/lookandfeel/vlContainer.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "lib/foundation/nbCore.h"
#include "lib/lookandfeel/vlControlServices.h"
#include "platform/rtl/Finally.h"
#include "platform/vcl/Forms.h"
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

// Counts the events it is given.
class TEvents : public TObject {
  CL_CLASS(TEvents, TObject)
 public:
  Integer Leaves = 0, Downs = 0;
  void Leave(TObject*) { ++Leaves; }
  void Down(TObject*, TMouseButton, TShiftState, Integer, Integer) { ++Downs; }
};
CL_IMPLEMENT_CLASS(TEvents)

// A hot container whose window, or whose form, is disabled (as ShowModal
// disables the other forms) leaves the hot state at the next tick, is told
// of the leave once, and stops tracking.
TEST_F(ContainerTest, ADisabledHotContainerLeavesOnce) {
  struct TCase {
    const char* Name;
    std::function<void(TEditContainer*, Boolean)> Enable;
  };
  const TCase cases[] = {
      {"container", [](TEditContainer* C, Boolean On) { C->SetEnabledProp(On); }},
      {"form", [](TEditContainer* C, Boolean On) { EnableWindow(GetParentForm(C)->Handle(), On); }},
  };
  TEditContainer* a = Make(20, 20);
  TEvents* events = New<TEvents>();
  Finally freeEvents([&] { Free(events); });
  a->SetOnMouseLeave(TNotifyEvent(events, &TEvents::Leave));
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    MoveTo(a, 60, 12);
    ASSERT_TRUE(a->ViewInfo()->ContainerState.Contains(csHotTrack));
    ASSERT_TRUE(vlIsMouseTracking(a));
    events->Leaves = 0;
    c.Enable(a, false);
    Wait(30);
    EXPECT_EQ(events->Leaves, 1);
    EXPECT_FALSE(vlIsMouseTracking(a));
    EXPECT_FALSE(a->ViewInfo()->ContainerState.Contains(csHotTrack));
    c.Enable(a, true);
    MoveTo(Form, 300, 250);
    Wait(30);
  }
}

// A font through ParentFont is shown but never assigned in the style, also
// after the form's font changes and after scaling; a font set on the
// container is assigned and stays.
TEST_F(ContainerTest, FontsComeFromTheParentUntilOneIsSet) {
  Form->Font()->SetSize(10);
  TEditContainer* a = Make(20, 20);
  auto shows = [&](Integer ASize) {
    EXPECT_EQ(a->Font()->Size(), ASize);
    EXPECT_EQ(a->Style()->Font()->Size(), ASize);
    EXPECT_EQ(a->Edit->Font()->Size(), ASize);
  };
  EXPECT_TRUE(a->ParentFont());
  EXPECT_FALSE(a->Style()->IsValueAssigned(svFont));
  shows(10);
  Form->Font()->SetSize(14);
  Pump();
  EXPECT_TRUE(a->ParentFont());
  EXPECT_FALSE(a->Style()->IsValueAssigned(svFont));
  shows(14);
  Form->ScaleBy(3, 2);
  Pump();
  EXPECT_TRUE(a->ParentFont());
  shows(14);
  // set on the container: its own from now on
  a->Font()->SetSize(12);
  Pump();
  EXPECT_FALSE(a->ParentFont());
  EXPECT_TRUE(a->Style()->IsValueAssigned(svFont));
  shows(12);
  Form->Font()->SetSize(9);
  Pump();
  shows(12);
  // scaled once, style and control alike
  Form->ScaleBy(3, 2);
  Pump();
  shows(18);
  EXPECT_TRUE(a->Style()->IsValueAssigned(svFont));
  // back to the parent's
  a->SetParentFont(true);
  Pump();
  shows(9);
}

// The container's own window keeps the focus while the inner control
// cannot take it; once it can, the next move of the container hands it on.
TEST_F(ContainerTest, AMoveHandsTheFocusToTheInnerControl) {
  TEditContainer* a = Make(20, 20);
  a->Edit->SetEnabledProp(false);
  a->SetFocus();
  Pump();
  ASSERT_EQ(GetFocus(), a->Handle());
  a->Edit->SetEnabledProp(true);
  EXPECT_EQ(GetFocus(), a->Handle());
  a->SetBounds(22, 20, 120, 24);
  Pump();
  EXPECT_EQ(GetFocus(), a->Edit->Handle());
}

// A caption of 64K characters or more is set after the window is made.
TEST_F(ContainerTest, ALongCaptionReachesTheWindow) {
  for (size_t length : {size_t(100), size_t(70000)}) {
    SCOPED_TRACE(length);
    TEditContainer* a = New<TEditContainer>(static_cast<TComponent*>(Form));
    a->SetTextProp(String(length, u'k'));
    a->SetBounds(20, 20, 120, 24);
    a->SetParent(Form);
    Pump();
    ASSERT_TRUE(a->HandleAllocated());
    EXPECT_EQ(size_t(GetWindowTextLengthW(a->Handle())), length);
    EXPECT_EQ(a->Text(), String(length, u'k'));
    Free(a);
  }
}

// Drag kind and mode reach the inner control; with automatic dragging a
// press on the container starts the drag and nothing else.
TEST_F(ContainerTest, DraggingSettingsReachTheInnerControlAndAPressStartsTheDrag) {
  TEditContainer* a = Make(20, 20);
  a->SetDragKind(dkDock);
  EXPECT_EQ(a->Edit->DragKind(), dkDock);
  a->SetDragKind(dkDrag);
  EXPECT_EQ(a->Edit->DragKind(), dkDrag);
  a->SetDragModeProp(dmAutomatic);
  EXPECT_EQ(a->Edit->DragMode(), dmAutomatic);
  EXPECT_EQ(a->GetDragImages(), nullptr);  // the edit has none
  TEvents* events = New<TEvents>();
  Finally freeEvents([&] { Free(events); });
  a->SetOnMouseDown(TMouseEvent(events, &TEvents::Down));
  const TPoint p = At(a, 1, 1);  // the border, outside the edit
  Display.MouseDown(p.X, p.Y);
  Display.MouseMove(p.X + 20, p.Y);
  Pump();
  EXPECT_TRUE(a->Dragging());
  EXPECT_EQ(events->Downs, 0);
  EXPECT_NE(GetFocus(), a->Edit->Handle());
  Display.MouseUp(p.X + 20, p.Y);
  Pump();
  EXPECT_FALSE(a->Dragging());
}

// A container that counts its refreshes.
class TRefreshCounter : public TEditContainer {
  CL_CLASS(TRefreshCounter, TEditContainer)
 public:
  Integer Refreshes = 0;

 protected:
  Boolean DoRefreshContainer(const TPoint& P, TvlMouseButton Button, TShiftState Shift,
                             Boolean AIsMouseEvent) override {
    ++Refreshes;
    return TEditContainer::DoRefreshContainer(P, Button, Shift, AIsMouseEvent);
  }
};
CL_IMPLEMENT_CLASS(TRefreshCounter)

TEST_F(ContainerTest, ATranslationRefreshesTheContainer) {
  TRefreshCounter* a = Add<TRefreshCounter>(20, 20, 120, 24);
  Pump();
  a->Refreshes = 0;
  nbResourceStringsRepository()->NotifyListeners();
  EXPECT_EQ(a->Refreshes, 1);
}

}  // namespace
