// The popup edit on the headless screen: a panel lent to the popup and
// given back, the circular-reference check, the default size rules.
#include <gtest/gtest.h>

#include "lib/editors/vlPopupEdit.h"
#include "platform/vcl/ExtCtrls.h"
#include "tests/lib/lookandfeel/ControlFixture.h"

using namespace win;

namespace {

class PopupEditTest : public controltest::ControlFixture {
 protected:
  TvlPopupEdit* AddEdit(TWinControl* AParent = nullptr) {
    TvlPopupEdit* e = Add<TvlPopupEdit>(10, 10, 150, 21, AParent);
    // The tests drive the open popup from outside instead of from its modal loop.
    e->PopupWindow()->SetModalMode(false);
    Pump();
    return e;
  }
  TPanel* AddPanel(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) {
    TPanel* p = Add<TPanel>(ALeft, ATop, AWidth, AHeight);
    Pump();
    return p;
  }
};

TEST_F(PopupEditTest, APanelIsLentToThePopupAndGivenBack) {
  TvlPopupEdit* e = AddEdit();
  TPanel* panel = AddPanel(200, 40, 160, 120);
  panel->SetAlign(alNone);
  e->Properties()->SetPopupControl(panel);
  e->SetDroppedDown(true);
  Pump();
  ASSERT_TRUE(e->DroppedDown());
  TvlCustomEditPopupWindow* w = e->PopupWindow();
  EXPECT_EQ(panel->Parent(), w);
  EXPECT_EQ(panel->Align(), alClient);
  // With PopupAutoSize the popup is the panel's size plus the frame.
  const TRect ext = w->ViewInfo()->GetClientExtent();
  EXPECT_EQ(w->Width(), std::max(160 + ext.Left + ext.Right, 100));
  EXPECT_EQ(w->Height(), std::max(120 + ext.Top + ext.Bottom, 100));
  EXPECT_EQ(panel->BoundsRect(), w->ViewInfo()->ClientRect);
  e->SetDroppedDown(false);
  EXPECT_FALSE(e->DroppedDown());
  EXPECT_EQ(panel->Parent(), Form);
  EXPECT_EQ(panel->Align(), alNone);
  EXPECT_EQ(panel->BoundsRect(), (TRect{200, 40, 360, 160}));
  EXPECT_TRUE(panel->Visible());
}

TEST_F(PopupEditTest, WithoutAPopupControlItNeverOpens) {
  TvlPopupEdit* e = AddEdit();
  e->SetDroppedDown(true);
  Pump();
  EXPECT_FALSE(e->DroppedDown());
  EXPECT_EQ(vlOpenPopupCount(), 0);
}

TEST_F(PopupEditTest, LendingAControlThatHoldsTheEditorIsRefused) {
  TPanel* holder = AddPanel(10, 10, 200, 100);
  TvlPopupEdit* e = AddEdit(holder);
  for (TControl* c : {static_cast<TControl*>(holder), static_cast<TControl*>(Form), static_cast<TControl*>(e)}) {
    e->Properties()->SetPopupControl(c);
    try {
      e->SetDroppedDown(true);
      ADD_FAILURE() << "no error";
    } catch (const EvlEditError& x) {
      EXPECT_EQ(x.Message(), u"Circular referencing is not allowed");
    }
    Pump();
    EXPECT_FALSE(e->DroppedDown());
    EXPECT_EQ(holder->Parent(), Form);
    EXPECT_EQ(e->Parent(), holder);
  }
}

TEST_F(PopupEditTest, TheLentControlComesBackWhenTheEditorIsFreedOpen) {
  TvlPopupEdit* e = AddEdit();
  TPanel* panel = AddPanel(200, 40, 160, 120);
  e->Properties()->SetPopupControl(panel);
  e->SetDroppedDown(true);
  Pump();
  ASSERT_TRUE(e->DroppedDown());
  Free(e);
  EXPECT_EQ(panel->Parent(), Form);
  EXPECT_EQ(vlOpenPopupCount(), 0);
}

// The form that owns the lent control freed while the popup is open: the
// control goes with its form, and the popup edit closes without giving back
// a freed control.
TEST_F(PopupEditTest, TheLentControlsFormFreedWhileOpen) {
  TvlPopupEdit* e = AddEdit();
  TForm* other = NewBy<TForm>(&TForm::CreateNew, static_cast<TComponent*>(nullptr), 0);
  other->SetBounds(150, 150, 300, 200);
  other->Show();
  TPanel* panel = New<TPanel>(static_cast<TComponent*>(other));
  panel->SetBounds(10, 10, 120, 80);
  panel->SetParent(other);
  Pump();
  e->Properties()->SetPopupControl(panel);
  e->SetDroppedDown(true);
  Pump();
  ASSERT_TRUE(e->DroppedDown());
  Free(other);
  Pump();
  EXPECT_EQ(e->Properties()->PopupControl(), nullptr);
  e->SetDroppedDown(false);
  Pump();
  EXPECT_FALSE(e->DroppedDown());
  EXPECT_EQ(vlOpenPopupCount(), 0);
  // It opens no more without a control.
  e->SetDroppedDown(true);
  Pump();
  EXPECT_FALSE(e->DroppedDown());
}

TEST_F(PopupEditTest, WithoutAutoSizeItOpensAtItsDefaultSize) {
  TvlPopupEdit* e = AddEdit();
  TPanel* panel = AddPanel(200, 40, 50, 50);
  e->Properties()->SetPopupControl(panel);
  e->Properties()->SetPopupAutoSize(false);
  e->SetDroppedDown(true);
  Pump();
  ASSERT_TRUE(e->DroppedDown());
  EXPECT_EQ(e->PopupWindow()->Width(), 250);
  EXPECT_EQ(e->PopupWindow()->Height(), 200);
  e->SetDroppedDown(false);
}

}  // namespace
