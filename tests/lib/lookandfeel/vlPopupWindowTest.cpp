// The popup window base: placement beside the owner with turning and
// clamping near each edge and on a second monitor, sizing around children
// inside the frame, and closing on deactivation.
#include "lib/lookandfeel/vlPopupWindow.h"

#include <gtest/gtest.h>

#include "platform/vcl/ExtCtrls.h"
#include "tests/lib/lookandfeel/ControlFixture.h"

using namespace win;
using controltest::ControlFixture;

namespace {

class PopupWindowTest : public ControlFixture {
 protected:
  void SetUp() override {
    ControlFixture::SetUp();
    Popup = New<TvlPopupWindow>();
  }
  void TearDown() override {
    FreeAndNil(Popup);
    SetExtraMonitors({});
    ControlFixture::TearDown();
  }
  TvlPopupWindow* Popup{};
};

TEST_F(PopupWindowTest, PlacementTurnsAndClampsNearTheEdges) {
  // the screen is 1280 x 1024; a second monitor right of it with a task bar
  SetExtraMonitors({{RECT{1280, 0, 2080, 600}, RECT{1280, 0, 2080, 560}}});
  struct Case {
    const char* Name;
    TRect Owner;  // screen coordinates
    TvlPopupDirection Direction;
    TvlPopupAlignHorz Horz;
    TvlPopupAlignVert Vert;
    TPoint Expected;
  };
  const Case cases[] = {
      {"below", {100, 100, 200, 120}, pdVertical, pahLeft, pavBottom, {100, 120}},
      {"near the bottom: above", {100, 950, 200, 970}, pdVertical, pahLeft, pavBottom, {100, 850}},
      {"above without room: below", {100, 50, 200, 70}, pdVertical, pahLeft, pavTop, {100, 70}},
      {"no room either way: kept below, clamped sideways", {1250, 450, 1300, 470}, pdVertical, pahLeft, pavBottom,
       {1130, 470}},
      {"right-aligned", {300, 100, 500, 120}, pdVertical, pahRight, pavBottom, {350, 120}},
      {"near the left edge: clamped", {-40, 100, 60, 120}, pdVertical, pahLeft, pavBottom, {0, 120}},
      {"centred, clamped on both axes", {1250, 1000, 1280, 1024}, pdVertical, pahCenter, pavCenter, {1130, 924}},
      {"beside on the right", {100, 100, 200, 120}, pdHorizontal, pahRight, pavTop, {200, 100}},
      {"beside near the right edge: turns left", {1100, 100, 1200, 120}, pdHorizontal, pahRight, pavTop, {950, 100}},
      {"beside near the bottom: clamped up", {100, 1000, 200, 1020}, pdHorizontal, pahRight, pavTop, {200, 924}},
      {"second monitor bottom: above", {1400, 500, 1500, 520}, pdVertical, pahLeft, pavBottom, {1400, 400}},
      {"second monitor right edge", {2000, 100, 2080, 120}, pdVertical, pahLeft, pavBottom, {1930, 120}},
  };
  Popup->SetBounds(0, 0, 150, 100);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    Popup->SetOwnerBounds(c.Owner);
    Popup->SetDirection(c.Direction);
    Popup->SetAlignHorz(c.Horz);
    Popup->SetAlignVert(c.Vert);
    EXPECT_EQ(Popup->CalculatePosition(), c.Expected);
    EXPECT_EQ(Popup->AlignVert(), c.Vert);  // the properties stay as set
  }
}

TEST_F(PopupWindowTest, OwnerBoundsFollowTheOwnerParent) {
  TPanel* owner = Add<TPanel>(30, 40, 120, 24);
  Popup->SetOwnerParent(owner);
  Popup->SetOwnerBounds(TRect{0, 0, 120, 24});
  EXPECT_EQ(Popup->OwnerScreenBounds(), (TRect{130, 140, 250, 164}));
}

TEST_F(PopupWindowTest, SizesAroundChildrenInsideTheFrame) {
  TPanel* child = New<TPanel>(static_cast<TComponent*>(Popup));
  child->SetBounds(0, 0, 80, 30);
  child->SetParent(Popup);
  struct Case {
    TvlPopupBorderStyle Style;
    Integer Space;
    Integer Border;
  };
  const Case cases[] = {{pbs3D, 0, 2}, {pbsUltraFlat, 3, 4}, {pbsFlat, 0, 1}, {pbsNone, 0, 0}};
  for (const Case& c : cases) {
    Popup->SetBorderStyle(c.Style);
    Popup->SetBorderSpace(c.Space);
    Popup->CalculateSize();
    EXPECT_EQ(child->BoundsRect(), (TRect{c.Border, c.Border, c.Border + 80, c.Border + 30})) << int(c.Style);
    EXPECT_EQ(Popup->Width(), 80 + 2 * c.Border);
    EXPECT_EQ(Popup->Height(), 30 + 2 * c.Border);
    EXPECT_EQ(Popup->GetNCWidth(), 2 * c.Border);
  }
}

TEST_F(PopupWindowTest, ClosesWhenAnotherFormIsActivatedOrTheApplicationIsLeft) {
  TPanel* owner = Add<TPanel>(30, 40, 120, 24);
  Popup->SetOwnerParent(owner);
  Popup->SetOwnerBounds(TRect{0, 0, 120, 24});
  Popup->SetBounds(0, 0, 120, 80);
  Popup->Popup();
  Pump();
  EXPECT_TRUE(Popup->Visible());
  EXPECT_EQ(Popup->BoundsRect(), (TRect{130, 164, 250, 244}));
  EXPECT_EQ(GetActiveWindow(), Popup->Handle());
  Form->SetFocus();  // another form of the application becomes active
  Pump();
  EXPECT_FALSE(Popup->Visible());

  Popup->Popup();
  Pump();
  ASSERT_TRUE(Popup->Visible());
  SendMessageW(Popup->Handle(), WM_ACTIVATEAPP, 0, 0);  // the application loses activation
  Pump();
  EXPECT_FALSE(Popup->Visible());
}

}  // namespace
