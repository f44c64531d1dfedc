// The check box driven with real mouse and keys on the headless screen, its
// value formats, and the check states of item lists.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lib/editors/vlCheckBox.h"
#include "platform/classes/ClassRegistry.h"
#include "platform/classes/FormText.h"
#include "platform/classes/Streams.h"
#include "platform/classes/TypInfoBuild.h"
#include "platform/rtl/Finally.h"
#include "platform/vcl/ActnList.h"
#include "tests/lib/lookandfeel/ControlFixture.h"

namespace {

// Records what a check box reports, in order; frees it from one handler on request.
struct TBoxRecorder : public TObject {
  CL_CLASS(TBoxRecorder, TObject)
 public:
  std::vector<std::string> Events;
  TvlCustomCheckBox* FreeFrom{};
  std::string FreeOn;
  void Note(const std::string& AWhat) {
    Events.push_back(AWhat);
    if (FreeFrom && AWhat == FreeOn) {
      TvlCustomCheckBox* box = FreeFrom;
      FreeFrom = nullptr;
      Free(box);
    }
  }
  void Changed(TObject*) { Note("change"); }
  void ValueChanged(TObject*) { Note("value"); }
  void Clicked(TObject*) { Note("click"); }
};
CL_IMPLEMENT_CLASS(TBoxRecorder)

class CheckBoxTest : public controltest::ControlFixture {
 protected:
  void SetUp() override {
    ControlFixture::SetUp();
    Recorder = New<TBoxRecorder>();
  }
  void TearDown() override {
    ControlFixture::TearDown();
    Free(Recorder);
  }
  // "Çoklu Tarife" at (10, 10), 150 wide; the mark sits at its left.
  TvlCheckBox* AddBox() {
    TvlCheckBox* b = New<TvlCheckBox>(static_cast<TComponent*>(Form));
    b->SetBounds(10, 10, 150, 21);
    b->SetCaption(u"Çoklu Tarife");
    b->SetParent(Form);
    Hook(b);
    Pump();
    return b;
  }
  void Hook(TvlCustomCheckBox* b) {
    b->Properties()->SetOnChange(TNotifyEvent(Recorder, &TBoxRecorder::Changed));
    b->Properties()->SetOnEditValueChanged(TNotifyEvent(Recorder, &TBoxRecorder::ValueChanged));
    b->SetOnClick(TNotifyEvent(Recorder, &TBoxRecorder::Clicked));
  }
  // A press and release on the mark.
  void ClickMark(TvlCustomCheckBox* b) {
    const TRect r = b->ViewInfo()->CheckBoxRect;
    MoveTo(b, r.Left + 5, r.Top + 5);
    ClickAt(b, r.Left + 5, r.Top + 5);
  }
  void PressSpace() {
    Display.KeyDown(win::VK_SPACE);
    Pump();
    Display.KeyUp(win::VK_SPACE);
    Pump();
  }
  TBoxRecorder* Recorder{};
};

TEST_F(CheckBoxTest, AClickOnTheMarkTogglesOnceWithOneClickEvent) {
  TvlCheckBox* b = AddBox();
  ClickMark(b);
  EXPECT_TRUE(b->Checked());
  EXPECT_EQ(b->EditValue(), Variant(true));
  EXPECT_EQ(Recorder->Events, (std::vector<std::string>{"click", "change", "value"}));
  ClickMark(b);
  EXPECT_EQ(b->State(), cbsUnchecked);
  EXPECT_EQ(Recorder->Events.size(), 6u);
}

TEST_F(CheckBoxTest, TheMarkLooksHotPressedAndNormalWithTheMouse) {
  TvlCheckBox* b = AddBox();
  const TRect r = b->ViewInfo()->CheckBoxRect;
  MoveTo(b, r.Left + 5, r.Top + 5);
  EXPECT_EQ(b->ViewInfo()->CheckBoxState, ecsHot);
  const TPoint p = At(b, r.Left + 5, r.Top + 5);
  Display.MouseDown(p.X, p.Y);
  Pump();
  EXPECT_EQ(b->ViewInfo()->CheckBoxState, ecsPressed);
  MoveTo(b, 140, 30);  // out of the control, still held
  const TPoint out = At(b, 140, 30);
  Display.MouseUp(out.X, out.Y);
  Pump();
  EXPECT_FALSE(b->Checked()) << "released outside: no toggle";
  EXPECT_EQ(b->ViewInfo()->CheckBoxState, ecsNormal);
}

TEST_F(CheckBoxTest, SpacePressesTheMarkAndTogglesOnRelease) {
  TvlCheckBox* b = AddBox();
  b->SetFocus();
  Pump();
  Display.KeyDown(win::VK_SPACE);
  Pump();
  EXPECT_EQ(b->ViewInfo()->CheckBoxState, ecsPressed);
  EXPECT_FALSE(b->Checked());
  Display.KeyUp(win::VK_SPACE);
  Pump();
  EXPECT_TRUE(b->Checked());
  EXPECT_EQ(b->ViewInfo()->CheckBoxState, ecsNormal);
  EXPECT_TRUE(b->EditModified());
}

TEST_F(CheckBoxTest, ToggleCyclesWithAndWithoutGrayed) {
  TvlCheckBox* b = AddBox();
  b->SetFocus();
  Pump();
  std::vector<TvlCheckBoxState> seen;
  for (int i = 0; i < 3; ++i) {
    PressSpace();
    seen.push_back(b->State());
  }
  EXPECT_EQ(seen, (std::vector<TvlCheckBoxState>{cbsChecked, cbsUnchecked, cbsChecked}));
  b->Properties()->SetAllowGrayed(true);
  b->SetState(cbsUnchecked);
  seen.clear();
  for (int i = 0; i < 3; ++i) {
    PressSpace();
    seen.push_back(b->State());
  }
  EXPECT_EQ(seen, (std::vector<TvlCheckBoxState>{cbsGrayed, cbsChecked, cbsUnchecked}));
}

}  // namespace
