// The custom popup window and the popup hooks on the headless screen:
// closing on an outside click, on hiding its owner, on application
// deactivation and from the loop.
#include "lib/lookandfeel/vlCustomPopup.h"

#include <gtest/gtest.h>

#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/StdCtrls.h"
#include "tests/lib/lookandfeel/ControlFixture.h"

using namespace win;
using controltest::ControlFixture;

namespace {

class PopupTest : public ControlFixture {
 protected:
  void SetUp() override {
    Default = New<TvlStyleController>(nullptr);
    vlSetFallbackStyleController(Default);
    ControlFixture::SetUp();
    Owner = Add<TEdit>(20, 20, 120, 21);
    Other = Add<TEdit>(20, 200, 120, 21);
    Pump();
  }
  void TearDown() override {
    for (TvlCustomPopupWindow* p : Popups) Free(p);
    ControlFixture::TearDown();
    vlSetFallbackStyleController(nullptr);
    FreeAndNil(Default);
  }
  // A non-modal capturing popup below AOwner with one panel inside.
  TvlCustomPopupWindow* Make(TWinControl* AOwner) {
    TvlCustomPopupWindow* p = New<TvlCustomPopupWindow>(AOwner);
    p->SetModalMode(false);
    p->SetOwnerParent(AOwner);
    p->SetOwnerBounds(TRect{0, 0, AOwner->Width(), AOwner->Height()});
    TEdit* inside = New<TEdit>(static_cast<TComponent*>(p));
    inside->SetBounds(0, 0, 150, 21);
    inside->SetParent(p);
    Popups.push_back(p);
    return p;
  }
  TvlStyleController* Default{};
  TEdit* Owner{};
  TEdit* Other{};
  std::vector<TvlCustomPopupWindow*> Popups;
};

TEST_F(PopupTest, OpensBelowItsOwnerAndClosesOnAnOutsideClick) {
  TvlCustomPopupWindow* p = Make(Owner);
  p->Popup(nullptr);
  Pump();
  ASSERT_TRUE(p->IsVisible());
  EXPECT_EQ(p->BoundsRect().Top, Owner->ClientToScreen(TPoint{0, 21}).Y);
  EXPECT_EQ(vlOpenPopupCount(), 1);
  ClickAt(p, 10, 10);  // inside: stays open
  EXPECT_TRUE(p->IsVisible());
  ClickAt(Other, 10, 10);  // another control of the form: closes, the click goes on
  EXPECT_FALSE(p->IsVisible());
  EXPECT_EQ(vlOpenPopupCount(), 0);
  EXPECT_EQ(GetFocus(), Other->Handle());
}

TEST_F(PopupTest, HidingTheOwnerClosesItsPopup) {
  TvlCustomPopupWindow* p = Make(Owner);
  p->Popup(nullptr);
  Pump();
  ASSERT_EQ(vlOpenPopupCount(), 1);
  Owner->SetVisible(false);
  Pump();
  EXPECT_EQ(vlOpenPopupCount(), 0);
  EXPECT_FALSE(p->IsVisible());
}

TEST_F(PopupTest, ApplicationDeactivationClosesNonCapturingPopups) {
  TvlCustomPopupWindow* p = Make(Owner);
  p->SetCaptureFocus(false);
  p->Popup(nullptr);
  Pump();
  ASSERT_TRUE(p->IsVisible());
  SendMessageW(Form->Handle(), WM_ACTIVATEAPP, 0, 0);
  Pump();
  EXPECT_FALSE(p->IsVisible());
}

TEST_F(PopupTest, ClosePopupClosesFromTheLoop) {
  TvlCustomPopupWindow* p = Make(Owner);
  p->Popup(nullptr);
  Pump();
  p->ClosePopup();
  EXPECT_TRUE(p->IsVisible());
  Pump();
  EXPECT_FALSE(p->IsVisible());
}

}  // namespace
