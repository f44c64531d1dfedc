// The spin editor: stepping tables (bounds, circular wrap, the 64-bit
// limits), real keys, the wheel and a held button on the headless screen
// with the manual clock, typing and validation, the three button
// arrangements as rectangles, and the picture of each painter.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "lib/editors/vlEditConsts.h"
#include "lib/editors/vlEditRepository.h"
#include "lib/editors/vlEditStyles.h"
#include "lib/editors/vlSpinEdit.h"
#include "lib/lookandfeel/nbSkinsLookAndFeelPainter.h"
#include "lib/lookandfeel/vlControlServices.h"
#include "lib/lookandfeel/vlLookAndFeels.h"
#include "platform/classes/FormText.h"
#include "platform/classes/Streams.h"
#include "platform/rtl/CodePages.h"
#include "platform/rtl/Conversions.h"
#include "platform/rtl/Finally.h"
#include "platform/rtl/Locale.h"
#include "platform/vcl/Graphics.h"
#include "platform/win/Windows.h"
#include "tests/lib/editors/EditorPicture.h"
#include "tests/lib/editors/FormFromText.h"
#include "tests/lib/foundation/ReferencePicture.h"
#include "tests/lib/lookandfeel/ControlFixture.h"

using namespace win;

namespace {

// Exceptions that reach the application.
class TSpinFailures : public TObject {
  CL_CLASS(TSpinFailures, TObject)
 public:
  std::vector<String> Messages;
  void Failed(TObject*, const Exception& E) { Messages.push_back(E.Message()); }
  // Reads the word "on" as 10.
  void GetValue(TObject*, const String& AText, Variant& AValue, String& ErrorText, Boolean& Error) {
    if (AText == u"on") {
      AValue = Variant(10);
      Error = false;
    } else
      ErrorText = u"Yalnız on";
  }
};

// What OnChange does once the value reaches At during a held button.
class TRepeatMishap : public TObject {
  CL_CLASS(TRepeatMishap, TObject)
 public:
  enum TKind { Free, Raise, Disable, MoveFocus } Kind{};
  TvlSpinEdit* Edit{};
  TWinControl* Other{};
  Int64 At{};
  Boolean Done{};
  void Changed(TObject*) {
    if (Done || !Edit || Edit->Value().AsInt64() != At) return;
    Done = true;
    switch (Kind) {
      case Free: {
        TvlSpinEdit* e = Edit;
        Edit = nullptr;
        ::Free(e);
        break;
      }
      case Raise: throw Exception(u"Kayıt kilitli");
      case Disable: Edit->SetEnabledProp(false); break;
      case MoveFocus: Other->SetFocus(); break;
    }
  }
};

}  // namespace

CL_IMPLEMENT_CLASS(TSpinFailures)
CL_IMPLEMENT_CLASS(TRepeatMishap)

namespace {

class SpinEditTest : public controltest::ControlFixture {
 protected:
  void SetUp() override {
    SetSystemLocale(TSystemLocale::Turkish);
    ControlFixture::SetUp();
    Failures = New<TSpinFailures>();
    Application->SetOnException(TExceptionEvent(Failures, &TSpinFailures::Failed));
  }
  void TearDown() override {
    Application->SetOnException(TExceptionEvent());
    FreeAndNil(Failures);
    ControlFixture::TearDown();
  }
  TvlSpinEdit* NewEdit(Integer ATop = 10, Integer AWidth = 120) {
    TvlSpinEdit* e = Add<TvlSpinEdit>(10, ATop, AWidth, 21);
    Pump();
    return e;
  }
  static void Bounds(TvlSpinEdit* AEdit, Double AMin, Double AMax) {
    AEdit->Properties()->SetMinValue(AMin);
    AEdit->Properties()->SetMaxValue(AMax);
  }
  void Focus(TvlSpinEdit* AEdit) {
    ClickAt(AEdit, 5, 10);
    Pump();
  }
  void Key(UINT AKey) {
    Display.KeyPress(AKey);
    Pump();
  }
  void CtrlKey(UINT AKey) {
    Display.KeyDown(VK_CONTROL);
    Display.KeyPress(AKey);
    Display.KeyUp(VK_CONTROL);
    Pump();
  }
  void Type(const String& AText) {
    Display.TypeText(AText);
    Pump();
  }
  Integer Beeps() {
    Integer n = 0;
    for (const String& s : Display.Sounds()) n += s == u"SystemDefault";
    return n;
  }
  // The centre of a spin button, in the editor's client coordinates.
  static TPoint ButtonCentre(TvlSpinEdit* AEdit, TvlSpinEditButton AButton) {
    const TRect r = AEdit->ViewInfo()->ButtonsInfo[size_t(AButton)]->Bounds;
    return TPoint{(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2};
  }
  static Int64 IntValue(TvlSpinEdit* AEdit) { return AEdit->Value().AsInt64(); }

  TSpinFailures* Failures{};
};

// --- Stepping -------------------------------------------------------------------------------------------------

struct TStepCase {
  const char* Name;
  Boolean Circular;
  Double Increment;
  Int64 Start;
  TvlSpinEditButton Button;
  Int64 Expected;
};

TEST_F(SpinEditTest, StepsWithinZeroToTenClippedOrCircular) {
  const TStepCase cases[] = {
      {"down at the minimum stays", false, 1, 0, sebBackward, 0},
      {"up at the maximum stays", false, 1, 10, sebForward, 10},
      {"circular up at the maximum wraps", true, 1, 10, sebForward, 0},
      {"circular down at the minimum wraps", true, 1, 0, sebBackward, 10},
      {"a plain step", false, 1, 4, sebForward, 5},
      {"3 from 9, clipped", false, 3, 9, sebForward, 10},
      {"3 from 9, circular", true, 3, 9, sebForward, 1},
      {"3 from 1 down, circular", true, 3, 1, sebBackward, 9},
      {"30 from 9, circular, lands inside", true, 30, 9, sebForward, 6},
      {"25 from 2 down, circular, lands inside", true, 25, 2, sebBackward, 10},
      {"fast up by the large increment, clipped", false, 1, 3, sebFastForward, 10},
      {"below the minimum, up snaps to it", false, 1, -5, sebForward, 0},
      {"below the minimum, down stays", false, 1, -5, sebBackward, -5},
      {"below the minimum, circular down wraps to the maximum", true, 1, -5, sebBackward, 10},
      {"above the maximum, down snaps to it", false, 1, 15, sebBackward, 10},
      {"above the maximum, circular up wraps to the minimum", true, 1, 15, sebForward, 0},
  };
  TvlSpinEdit* e = NewEdit();
  e->Properties()->SetValueType(vtInt);
  Bounds(e, 0, 10);
  for (const TStepCase& c : cases) {
    SCOPED_TRACE(c.Name);
    e->Properties()->SetCircular(c.Circular);
    e->Properties()->SetIncrement(c.Increment);
    e->SetEditValue(Variant(c.Start));
    ASSERT_EQ(IntValue(e), c.Start);
    e->Increment(c.Button);
    EXPECT_EQ(IntValue(e), c.Expected);
  }
}

TEST_F(SpinEditTest, SteppingStopsAtTheSixtyFourBitLimits) {
  struct TLimitCase {
    const char* Name;
    Boolean Circular;
    Int64 Start;
    TvlSpinEditButton Button;
    Int64 Expected;
  } const cases[] = {
      {"up near the top clips", false, INT64_MAX - 3, sebFastForward, INT64_MAX},
      {"down near the bottom clips", false, INT64_MIN + 3, sebFastBackward, INT64_MIN},
      {"up at the top stays", false, INT64_MAX, sebForward, INT64_MAX},
      {"circular up at the top wraps to the bottom", true, INT64_MAX, sebForward, INT64_MIN},
      {"circular down at the bottom wraps to the top", true, INT64_MIN, sebBackward, INT64_MAX},
      {"circular fast up past the top", true, INT64_MAX - 3, sebFastForward, INT64_MIN + 6},
  };
  TvlSpinEdit* e = NewEdit();
  e->Properties()->SetValueType(vtInt);
  for (const TLimitCase& c : cases) {
    SCOPED_TRACE(c.Name);
    e->Properties()->SetCircular(c.Circular);
    e->SetEditValue(Variant(c.Start));
    e->Increment(c.Button);
    EXPECT_EQ(IntValue(e), c.Expected);
  }
  // Only the minimum set: the maximum is the type's largest value.
  e->Properties()->SetCircular(false);
  e->Properties()->SetMinValue(5);
  e->SetEditValue(Variant(Int64(INT64_MAX - 1)));
  e->Increment(sebFastForward);
  EXPECT_EQ(IntValue(e), INT64_MAX);
  e->SetEditValue(Variant(5));
  e->Increment(sebBackward);
  EXPECT_EQ(IntValue(e), 5);
}

TEST_F(SpinEditTest, FloatValuesStepAndClipAtTheLargestDouble) {
  TvlSpinEdit* e = NewEdit();
  e->Properties()->SetValueType(vtFloat);
  e->Properties()->SetIncrement(0.1);
  e->SetEditValue(Variant(0.2));
  e->Increment(sebForward);
  EXPECT_NEAR(e->Value().AsDouble(), 0.3, 1e-12);
  e->Properties()->SetLargeIncrement(1e308);
  e->SetEditValue(Variant(1.6e308));
  e->Increment(sebFastForward);
  EXPECT_EQ(e->Value().AsDouble(), vlSpinMaxFloatValue);
  e->SetEditValue(Variant(-1.6e308));
  e->Increment(sebFastBackward);
  EXPECT_EQ(e->Value().AsDouble(), -vlSpinMaxFloatValue);
}

// A circular float editor whose range is shorter than the one the wrap
// formula adds used to stay at the bound it should wrap across.
TEST_F(SpinEditTest, CircularFloatStepsWrapAcrossAShortRange) {
  struct TCase {
    const char* Name;
    Double Start;
    TvlSpinEditButton Button;
    Double Expected;
  } const cases[] = {
      {"up at the maximum", 1.0, sebForward, 0.1},
      {"down at the minimum", 0.0, sebBackward, 0.9},
      {"up inside the range", 0.5, sebForward, 0.6},
  };
  TvlSpinEdit* e = NewEdit();
  e->Properties()->SetValueType(vtFloat);
  e->Properties()->SetCircular(true);
  e->Properties()->SetIncrement(0.1);
  Bounds(e, 0, 1);
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    e->SetEditValue(Variant(c.Start));
    e->Increment(c.Button);
    EXPECT_NEAR(e->Value().AsDouble(), c.Expected, 1e-12);
  }
}

// A fractional increment in integer mode used to round to 0 and leave the value where it was.
TEST_F(SpinEditTest, AFractionalIncrementInIntegerModeStillMoves) {
  TvlSpinEdit* e = NewEdit();
  e->Properties()->SetValueType(vtInt);
  e->Properties()->SetIncrement(0.5);
  e->SetEditValue(Variant(7));
  EXPECT_TRUE(e->Increment(sebForward));
  EXPECT_EQ(IntValue(e), 8);
  e->Increment(sebBackward);
  e->Increment(sebBackward);
  EXPECT_EQ(IntValue(e), 6);
  e->Properties()->SetIncrement(2.5);  // ties to even
  e->Increment(sebForward);
  EXPECT_EQ(IntValue(e), 8);
  e->Properties()->SetIncrement(0);  // no step asked, none made
  EXPECT_FALSE(e->Increment(sebForward));
  EXPECT_EQ(IntValue(e), 8);
  EXPECT_THROW(e->Properties()->GetIncrement(TvlSpinEditButton(7)), EnbException);
}

// --- Keys, wheel and the held button ---------------------------------------------------------------------------

TEST_F(SpinEditTest, ArrowAndPageKeysSpinAndPutTheCaretAtTheEnd) {
  TvlSpinEdit* e = NewEdit();
  e->Properties()->SetValueType(vtInt);
  Bounds(e, -100, 100);
  Focus(e);
  EXPECT_EQ(e->Text(), u"0");
  Key(VK_UP);
  Key(VK_UP);
  EXPECT_EQ(e->Text(), u"2");
  EXPECT_EQ(e->SelStart(), 1);
  EXPECT_TRUE(e->ModifiedAfterEnter());
  Key(VK_PRIOR);
  EXPECT_EQ(e->Text(), u"12");
  Key(VK_NEXT);
  Key(VK_NEXT);
  Key(VK_DOWN);
  EXPECT_EQ(e->Text(), u"-9");
  EXPECT_EQ(e->SelStart(), 2);

  // The wheel: up steps forward, down backward.
  const TPoint p = At(e, 20, 10);
  Display.Wheel(p.X, p.Y, 120);
  Pump();
  EXPECT_EQ(e->Text(), u"-8");
  Display.Wheel(p.X, p.Y, -120);
  Display.Wheel(p.X, p.Y, -120);
  Pump();
  EXPECT_EQ(IntValue(e), -10);

  // With UseCtrlIncrement an arrow alone moves the caret; Ctrl+arrow spins.
  e->Properties()->SetUseCtrlIncrement(true);
  Key(VK_HOME);
  Key(VK_UP);
  EXPECT_EQ(e->Text(), u"-10");
  CtrlKey(VK_UP);
  EXPECT_EQ(e->Text(), u"-9");
}

TEST_F(SpinEditTest, AHeldSpinKeyShowsItsButtonPressedAndLocksTheMouse) {
  TvlSpinEdit* e = NewEdit();
  e->Properties()->SpinButtons()->SetPosition(sbpHorzRight);
  Focus(e);
  Display.KeyDown(VK_DOWN);
  Pump();
  EXPECT_EQ(e->PressedState(), epsDown);
  TvlCustomEditViewInfo* vi = e->ViewInfo();
  EXPECT_EQ(vi->ButtonsInfo[sebBackward]->Data.State, ebsPressed);
  // The mouse cannot press the other button meanwhile.
  const TPoint up = ButtonCentre(e, sebForward);
  MoveTo(e, up.X, up.Y);
  const TPoint s = At(e, up.X, up.Y);
  Display.MouseDown(s.X, s.Y);
  Pump();
  EXPECT_EQ(IntValue(e), -1);
  Display.MouseUp(s.X, s.Y);
  Pump();
  Display.KeyDown(VK_DOWN);  // the keyboard's own repeat
  Pump();
  EXPECT_EQ(IntValue(e), -2);
  EXPECT_EQ(e->PressedState(), epsDown);
  Display.KeyUp(VK_DOWN);
  Pump();
  EXPECT_EQ(e->PressedState(), epsNone);
  EXPECT_NE(e->ViewInfo()->ButtonsInfo[sebBackward]->Data.State, ebsPressed);
}

TEST_F(SpinEditTest, HoldingAButtonStepsAtOnceThenAfter400msThenEvery100ms) {
  TvlSpinEdit* e = NewEdit();
  e->Properties()->SetValueType(vtInt);
  e->Properties()->SpinButtons()->SetPosition(sbpHorzRight);
  Pump();
  const TPoint c = ButtonCentre(e, sebForward);
  MoveTo(e, c.X, c.Y);
  const TPoint s = At(e, c.X, c.Y);
  Display.MouseDown(s.X, s.Y);
  Pump();
  EXPECT_EQ(IntValue(e), 1);
  Wait(390);
  EXPECT_EQ(IntValue(e), 1);
  Wait(20);
  EXPECT_EQ(IntValue(e), 2);
  Wait(100);
  EXPECT_EQ(IntValue(e), 3);
  Wait(200);
  EXPECT_EQ(IntValue(e), 5);
  // Off the button nothing happens; back on, the steps go on.
  MoveTo(e, 5, 10);
  Wait(300);
  EXPECT_EQ(IntValue(e), 5);
  MoveTo(e, c.X, c.Y);
  Wait(100);
  EXPECT_EQ(IntValue(e), 6);
  Display.MouseUp(s.X, s.Y);
  Pump();
  EXPECT_EQ(e->Timer(), nullptr);
  Wait(500);
  EXPECT_EQ(IntValue(e), 6);
  EXPECT_TRUE(Failures->Messages.empty());
}

// Whatever happens in the middle of a held button's repeat, the repeat stops
// there: nothing steps, raises again or touches a freed editor afterwards.
TEST_F(SpinEditTest, TheRepeatStopsWhenTheEditorIsFreedDisabledOrFailsMidway) {
  struct TCase {
    const char* Name;
    TRepeatMishap::TKind Kind;
    size_t Reported;
  } const cases[] = {
      {"freed by OnChange", TRepeatMishap::Free, 0},
      {"OnChange raises", TRepeatMishap::Raise, 1},
      {"disabled by OnChange", TRepeatMishap::Disable, 0},
      {"focus moved by OnChange", TRepeatMishap::MoveFocus, 0},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    Failures->Messages.clear();
    TvlSpinEdit* other = NewEdit(40);
    TvlSpinEdit* e = NewEdit();
    e->Properties()->SetValueType(vtInt);
    e->Properties()->SpinButtons()->SetPosition(sbpHorzRight);
    TRepeatMishap* mishap = New<TRepeatMishap>();
    Finally freeMishap([&] { ::Free(mishap); });
    mishap->Kind = c.Kind;
    mishap->Edit = e;
    mishap->Other = other;
    mishap->At = 3;
    e->Properties()->SetOnChange(TNotifyEvent(mishap, &TRepeatMishap::Changed));
    Pump();
    const TPoint b = ButtonCentre(e, sebForward);
    MoveTo(e, b.X, b.Y);
    const TPoint s = At(e, b.X, b.Y);
    Display.MouseDown(s.X, s.Y);
    Pump();
    Wait(510);
    EXPECT_TRUE(mishap->Done);
    Wait(500);
    if (mishap->Edit) {
      EXPECT_EQ(IntValue(e), 3);
      EXPECT_EQ(e->Timer(), nullptr);
    }
    Display.MouseUp(s.X, s.Y);
    Pump();
    EXPECT_EQ(Failures->Messages.size(), c.Reported);
    if (mishap->Edit) ::Free(e);
    ::Free(other);
  }
}

// --- Typing and validation ------------------------------------------------------------------------------------

// "1e5" used to be typed into an integer editor and then never read.
TEST_F(SpinEditTest, IntegerEditorsRefuseExponentLetters) {
  TvlSpinEdit* e = NewEdit();
  e->Properties()->SetValueType(vtInt);
  Focus(e);
  e->SelectAll();
  Type(u"1e5");
  EXPECT_EQ(e->Text(), u"15");
  EXPECT_EQ(Beeps(), 1);
  TvlSpinEdit* f = NewEdit(40);
  f->Properties()->SetValueType(vtFloat);
  Focus(f);
  f->SelectAll();
  Type(u"1e5");
  EXPECT_EQ(f->Text(), u"1e5");
  Key(VK_RETURN);
  EXPECT_EQ(f->Value().AsDouble(), 1e5);
  // "." and "," both type the locale's decimal separator.
  f->SelectAll();
  Type(u"2.5");
  EXPECT_EQ(f->Text(), u"2,5");
}

// Out-of-range and unreadable text used to be replaced without a sound.
TEST_F(SpinEditTest, CorrectedInputIsHeardAndRefusedInputIsReported) {
  TvlSpinEdit* e = NewEdit();
  e->Properties()->SetValueType(vtInt);
  Bounds(e, 0, 1000);
  e->SetBeepOnEnter(false);
  Focus(e);
  e->SelectAll();
  Type(u"5000");
  Key(VK_RETURN);
  EXPECT_EQ(e->Text(), u"1000");
  EXPECT_EQ(IntValue(e), 1000);
  EXPECT_EQ(Beeps(), 1);
  e->SelectAll();
  Type(u"-");
  Key(VK_RETURN);
  EXPECT_EQ(e->Text(), u"1000");  // not a number: the previous value comes back
  EXPECT_EQ(Beeps(), 2);
  e->SelectAll();
  Type(u"12");
  Key(VK_RETURN);
  EXPECT_EQ(IntValue(e), 12);
  EXPECT_EQ(Beeps(), 2);

  e->Properties()->SetExceptionOnInvalidInput(true);
  e->SelectAll();
  Type(u"5000");
  Key(VK_RETURN);
  e->SelectAll();
  Type(u"-");
  Key(VK_RETURN);
  EXPECT_EQ(Failures->Messages, (std::vector<String>{u"Value out of bounds", u"Invalid numeric value"}));
  Variant v;
  EXPECT_THROW(e->PrepareEditValue(Variant(u"x"), v, true), EvlEditError);
}

// The 64-bit limits typed stay exact (they used to be shown in 15-digit
// general notation and then read as the previous value); a number past
// them does not read and brings the previous value back.
TEST_F(SpinEditTest, TheSixtyFourBitLimitsTypedStayExact) {
  struct TCase {
    const char* Name;
    const char16_t* Typed;
    Int64 Expected;
    const char16_t* Shown;
  } const cases[] = {
      {"the largest", u"9223372036854775807", INT64_MAX, u"9223372036854775807"},
      {"the smallest", u"-9223372036854775808", INT64_MIN, u"-9223372036854775808"},
      {"sixteen digits", u"1234567890123456", 1234567890123456, u"1234567890123456"},
      {"one past the largest", u"9223372036854775808", 7, u"7"},
      {"one past the smallest", u"-9223372036854775809", 7, u"7"},
  };
  TvlSpinEdit* e = NewEdit();
  e->Properties()->SetValueType(vtInt);
  e->SetBeepOnEnter(false);
  Focus(e);
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    e->SetValue(Variant(Int64(7)));
    e->SelectAll();
    Type(c.Typed);
    Key(VK_RETURN);
    EXPECT_EQ(IntValue(e), c.Expected);
    EXPECT_EQ(e->Text(), c.Shown);
  }
}

TEST_F(SpinEditTest, CanEditOffLetsOnlyTheButtonsChangeTheValue) {
  TvlSpinEdit* e = NewEdit();
  e->Properties()->SetValueType(vtInt);
  e->Properties()->SetCanEdit(false);
  Focus(e);
  Type(u"42");
  Key(VK_BACK);
  Key(VK_DELETE);
  EXPECT_EQ(e->Text(), u"0");
  Key(VK_UP);
  EXPECT_EQ(e->Text(), u"1");
}

TEST_F(SpinEditTest, OnGetValueReadsWordsAndItsErrorsAreKept) {
  TvlSpinEdit* e = NewEdit();
  e->Properties()->SetValueType(vtInt);
  e->Properties()->SetOnGetValue(TvlSpinEditGetValueEvent(Failures, &TSpinFailures::GetValue));
  Focus(e);
  e->SelectAll();
  Type(u"on");  // any character may be typed when a handler reads the text
  Key(VK_RETURN);
  EXPECT_EQ(IntValue(e), 10);
  e->Properties()->SetExceptionOnInvalidInput(true);
  e->SelectAll();
  Type(u"dokuz");
  Key(VK_RETURN);
  EXPECT_EQ(Failures->Messages, (std::vector<String>{u"Yalnız on"}));
}

TEST_F(SpinEditTest, AnEmptyEditorBecomesNullOrTheClippedZeroWhenRequired) {
  TvlSpinEdit* e = NewEdit();
  e->Properties()->SetValueType(vtInt);
  Bounds(e, 5, 10);
  Variant v;
  e->PrepareEditValue(Variant(u""), v, true);
  EXPECT_TRUE(VarIsNull(v));
  EXPECT_EQ(e->Properties()->GetEmptyDisplayValue().AsString(), u"5");
  e->SetEditValue(Variant(u"abc"));
  EXPECT_EQ(IntValue(e), 5);  // text that is no number reads as 0 clipped
}

// --- Buttons --------------------------------------------------------------------------------------------------

TEST_F(SpinEditTest, TheButtonCollectionFollowsTheSpinButtonSettings) {
  TvlSpinEdit* e = NewEdit();
  TvlSpinEditButtons* b = e->Properties()->SpinButtons();
  EXPECT_EQ(e->Properties()->Buttons()->Count(), 2);
  b->SetShowFastButtons(true);
  EXPECT_EQ(e->Properties()->Buttons()->Count(), 4);
  b->SetVisible(false);
  EXPECT_EQ(e->Properties()->Buttons()->Count(), 0);
  Pump();
  EXPECT_EQ(e->ViewInfo()->ButtonCount(), 0);
  b->SetVisible(true);
  EXPECT_EQ(e->Properties()->Buttons()->Count(), 4);
}

struct TLayoutCase {
  TvlSpinEditButtonsPosition Position;
  Boolean Fast;
  std::vector<TRect> Rects;  // sebBackward, sebForward[, sebFastBackward, sebFastForward]
};

// The editor is 120 x 19 with a single border: the buttons' rectangle is
// 1..119 x 1..18. The edit button width D is 17 and the arrow 3 rows, so a
// horizontal button is W = 4 * 3 - 3 = 9 wide and a fast one 9 * 3 / 2 = 14;
// vertical buttons are D wide and split the height at 1 + 17 / 2 = 9.
TEST_F(SpinEditTest, TheThreeArrangementsPlaceTheButtons) {
  const TLayoutCase cases[] = {
      {sbpVert, false, {{102, 9, 119, 18}, {102, 1, 119, 9}}},
      {sbpVert, true, {{88, 9, 105, 18}, {88, 1, 105, 9}, {74, 1, 88, 18}, {105, 1, 119, 18}}},
      {sbpHorzRight, false, {{101, 1, 110, 18}, {110, 1, 119, 18}}},
      {sbpHorzRight, true, {{87, 1, 96, 18}, {96, 1, 105, 18}, {73, 1, 87, 18}, {105, 1, 119, 18}}},
      {sbpHorzLeftRight, false, {{1, 1, 10, 18}, {110, 1, 119, 18}}},
      {sbpHorzLeftRight, true, {{15, 1, 24, 18}, {96, 1, 105, 18}, {1, 1, 15, 18}, {105, 1, 119, 18}}},
  };
  TvlSpinEdit* e = NewEdit();
  for (const TLayoutCase& c : cases) {
    SCOPED_TRACE(testing::Message() << "position " << Integer(c.Position) << (c.Fast ? " with fast buttons" : ""));
    e->Properties()->SpinButtons()->SetPosition(c.Position);
    e->Properties()->SpinButtons()->SetShowFastButtons(c.Fast);
    Pump();
    auto* vi = static_cast<TvlSpinEditViewInfo*>(e->ViewInfo());
    ASSERT_EQ(vi->ButtonCount(), Integer(c.Rects.size()));
    for (size_t i = 0; i < c.Rects.size(); ++i) {
      const TRect r = vi->ButtonsInfo[i]->Bounds;
      EXPECT_EQ(r, c.Rects[i]) << "button " << i << ": " << r.Left << "," << r.Top << "," << r.Right << ","
                               << r.Bottom;
    }
    const Boolean left = c.Position == sbpHorzLeftRight;
    EXPECT_EQ(vi->ButtonsInfo[sebBackward]->Data.LeftAlignment, left);
    // The text lies between the buttons.
    EXPECT_EQ(vi->ClientRect.Left, left ? vi->ButtonsInfo[sebBackward]->Bounds.Right : 1);
    EXPECT_EQ(vi->ClientRect.Right, c.Rects[left ? sebForward : c.Fast ? sebFastBackward : sebBackward].Left);
    // Hints: the whole editor is one part.
    EXPECT_EQ(vi->GetHintPartAt(ButtonCentre(e, sebForward)), -1);
    EXPECT_EQ(vi->GetHintPartAt(TPoint{-5, -5}), -2);
  }
}

// A zero increment is not the default and must survive the form file.
TEST_F(SpinEditTest, ZeroIncrementsAreWrittenAndReadBack) {
  struct TCase {
    const char* Name;
    Double Increment, LargeIncrement;
    Boolean ZeroIncrement, ZeroLargeIncrement;
  } const cases[] = {
      {"both zero", 0, 0, true, true},
      {"only the large one zero", 2, 0, false, true},
      {"the defaults", 1, 10, false, false},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TvlSpinEdit* e = NewEdit();
    e->Properties()->SetIncrement(c.Increment);
    e->Properties()->SetLargeIncrement(c.LargeIncrement);
    TMemoryStream* out = New<TMemoryStream>();
    Finally freeOut([&] { Free(out); });
    out->WriteComponent(e);
    const RawByteString binary(static_cast<const char*>(out->Memory()), size_t(out->Size()));
    const RawByteString text = ObjectBinaryToText(binary);
    const std::string form(text.begin(), text.end());
    EXPECT_EQ(form.find("Properties.ZeroIncrement = True") != std::string::npos, c.ZeroIncrement) << form;
    EXPECT_EQ(form.find("Properties.ZeroLargeIncrement = True") != std::string::npos, c.ZeroLargeIncrement) << form;
    // Read back the written properties into a fresh editor of a form.
    std::string readBack = "object F: TForm\n  object S: TvlSpinEdit\n";
    for (size_t at = 0, end; (end = form.find('\n', at)) != std::string::npos; at = end + 1)
      if (form.compare(at, 13, "  Properties.") == 0) readBack += "  " + form.substr(at, end - at + 1);
    readBack += "  end\nend\n";
    TForm* f = NewFormFromText(RawByteString(readBack.c_str()));
    Finally freeForm([&] { Free(f); });
    auto* back = dynamic_cast<TvlSpinEdit*>(f->FindComponent(u"S"));
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->Properties()->Increment(), c.Increment);
    EXPECT_EQ(back->Properties()->LargeIncrement(), c.LargeIncrement);
    Free(e);
  }
}

// --- Pictures -------------------------------------------------------------------------------------------------

// Rows: the standard, flat, ultra-flat and Office 2003 looks, the themed
// painter and the built-in skin; columns: vertical, right, left-and-right
// (each with fast buttons in the second half), the vertical one disabled.
TEST(SpinEditPicturesTest, TheSpinButtonsInEachPainter) {
  if (!foundation_test::ReferenceFontAvailable()) GTEST_SKIP() << "the fixed test font is missing";
  foundation_test::TReferenceFont font;
  constexpr int w = 92, h = 21, gap = 6, columns = 7, rows = 6;
  TBitmap* bitmap = New<TBitmap>();
  Finally freeBitmap([&] { Free(bitmap); });
  bitmap->SetPixelFormat(pf32bit);
  bitmap->SetSize(gap + columns * (w + gap), gap + rows * (h + gap));
  bitmap->Canvas()->Brush()->SetColor(clWhite);
  bitmap->Canvas()->FillRect(TRect{0, 0, bitmap->Width(), bitmap->Height()});
  TvlCanvas* canvas = New<TvlCanvas>(bitmap->Canvas());
  Finally freeCanvas([&] { Free(canvas); });
  const TvlLookAndFeelKind kinds[] = {lfStandard, lfFlat, lfUltraFlat, lfOffice11};
  const TvlEditBorderStyle borders[] = {ebs3D, ebsFlat, ebsUltraFlat, ebsOffice11, ebsSingle, ebsSingle};
  const TvlSpinEditButtonsPosition positions[] = {sbpVert, sbpHorzRight, sbpHorzLeftRight, sbpVert,
                                                  sbpHorzRight, sbpHorzLeftRight, sbpVert};
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < columns; ++c) {
      TvlSpinEditProperties* props = New<TvlSpinEditProperties>(static_cast<TPersistent*>(nullptr));
      Finally freeProps([&] { Free(props); });
      TvlEditStyle* style = New<TvlEditStyle>(static_cast<TPersistent*>(nullptr), false);
      Finally freeStyle([&] { Free(style); });
      style->LookAndFeel()->SetNativeStyle(r == 4);
      if (r < 4) style->LookAndFeel()->SetKind(kinds[r]);
      if (r == 5) {
        ASSERT_NE(ClassOf<TnbSkinsUserSkinPainter>(), nullptr);
        style->LookAndFeel()->SetSkinName(u"UserSkin");
      }
      style->SetColor(clWindow);
      style->SetEditBorderStyle(borders[r]);
      props->SpinButtons()->SetPosition(positions[c]);
      props->SpinButtons()->SetShowFastButtons(c >= 3 && c < 6);
      auto* info = static_cast<TvlSpinEditViewInfo*>(CreateFrom(props->GetViewInfoClass()));
      Finally freeInfo([&] { Free(info); });
      auto* data = static_cast<TvlSpinEditViewData*>(props->CreateViewData(style, false));
      Finally freeData([&] { Free(data); });
      data->Enabled = c != 6;
      data->EditValueToDrawValue(canvas, Variant(42), info);
      const int x = gap + c * (w + gap), y = gap + r * (h + gap);
      data->CalculateEx(canvas, TRect{x, y, x + w, y + h}, TPoint{-1, -1}, vlmbNone, TShiftState{}, info, false);
      info->PaintEx(canvas);
    }
  }
  editors_test::ExpectPicture(bitmap, "spin-edit-painters", 2);
}

}  // namespace

namespace {

// Reads Value in OnChange, as a form showing a total while typing does.
class TValueReader : public TObject {
  CL_CLASS(TValueReader, TObject)
 public:
  TvlSpinEdit* Edit{};
  std::vector<Int64> Read;
  void Changed(TObject*) { Read.push_back(Edit->Value().AsInt64()); }
};

}  // namespace

CL_IMPLEMENT_CLASS(TValueReader)

namespace {

// With ExceptionOnInvalidInput, a text that is not a number yet ("-") used
// to raise "Invalid numeric value" from every read of Value while typing
// (OnChange) and twice more on Up; now typing is silent, Up steps from the
// last number read, and only the confirmation reports a text that does not read.
TEST_F(SpinEditTest, StrictInputIsReportedOnConfirmationNotWhileTypingOrSpinning) {
  TvlSpinEdit* e = NewEdit();
  e->Properties()->SetValueType(vtInt);
  e->Properties()->SetExceptionOnInvalidInput(true);
  e->SetBeepOnEnter(false);
  TValueReader* reader = New<TValueReader>();
  Finally freeReader([&] { Free(reader); });
  reader->Edit = e;
  e->Properties()->SetOnChange(TNotifyEvent(reader, &TValueReader::Changed));
  Focus(e);
  e->SelectAll();
  Type(u"-5");
  EXPECT_EQ(reader->Read, (std::vector<Int64>{0, -5}));
  EXPECT_TRUE(Failures->Messages.empty());
  e->SelectAll();
  Type(u"-");
  Key(VK_UP);
  EXPECT_TRUE(Failures->Messages.empty());
  EXPECT_EQ(e->Text(), u"1");  // from the empty text's 0, the last number read
  e->SelectAll();
  Type(u"-");
  Key(VK_RETURN);
  EXPECT_EQ(Failures->Messages, (std::vector<String>{u"Invalid numeric value"}));
}

}  // namespace

namespace {

// Frees or raises from OnGetValue, the handler that reads words.
class TGetValueMishap : public TObject {
  CL_CLASS(TGetValueMishap, TObject)
 public:
  TvlSpinEdit* Edit{};
  Boolean Raise{};
  Integer Calls{};
  Boolean Freed{};
  void GetValue(TObject*, const String&, Variant&, String&, Boolean&) {
    ++Calls;
    if (Raise) throw Exception(u"Okunamadı");
    if (!Edit) return;
    Freed = true;
    ::Free(Edit);
    Edit = nullptr;
  }
};

}  // namespace

CL_IMPLEMENT_CLASS(TGetValueMishap)

namespace {

// A handler that frees the editor, or raises, while the user types, steps
// or confirms: nothing of the freed editor is touched; a raising one is
// reported once, on the confirmation.
TEST_F(SpinEditTest, OnGetValueThatFreesTheEditorOrRaises) {
  struct TCase {
    const char* Name;
    Boolean Raise;
    UINT Key;  // after typing "x"
  } const cases[] = {
      {"freed by a step", false, VK_UP},
      {"freed by Enter", false, VK_RETURN},
      {"raising, then Up", true, VK_UP},
      {"raising, then Enter", true, VK_RETURN},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    Failures->Messages.clear();
    TvlSpinEdit* other = NewEdit(40);
    TvlSpinEdit* e = NewEdit();
    TGetValueMishap* mishap = New<TGetValueMishap>();
    Finally freeAll([&] {
      if (!mishap->Freed) ::Free(e);
      ::Free(mishap);
      ::Free(other);
    });
    e->Properties()->SetValueType(vtInt);
    e->Properties()->SetExceptionOnInvalidInput(true);
    e->Properties()->SetOnGetValue(TvlSpinEditGetValueEvent(mishap, &TGetValueMishap::GetValue));
    Focus(e);
    e->SelectAll();
    mishap->Raise = c.Raise;
    Type(u"x");
    mishap->Edit = e;
    Key(c.Key);
    EXPECT_GT(mishap->Calls, 0);
    EXPECT_EQ(mishap->Freed, !c.Raise);
    if (c.Raise) {
      EXPECT_EQ(Failures->Messages, c.Key == VK_RETURN ? std::vector<String>{u"Okunamadı"} : std::vector<String>{});
    } else {
      EXPECT_TRUE(Failures->Messages.empty());
    }
  }
}

}  // namespace


namespace {

// Frees the editor from whichever of its handlers runs first once armed.
class TTabMishap : public TObject {
  CL_CLASS(TTabMishap, TObject)
 public:
  TvlSpinEdit* Edit{};
  void FreeEdit() {
    TvlSpinEdit* e = Edit;
    Edit = nullptr;
    if (e) ::Free(e);
  }
  void GetValue(TObject*, const String&, Variant&, String&, Boolean&) { FreeEdit(); }
  void Exited(TObject*) { FreeEdit(); }
  void Changed(TObject*) { FreeEdit(); }
};

}  // namespace

CL_IMPLEMENT_CLASS(TTabMishap)

namespace {

// Tab moves the focus on while the editor's validation or OnExit frees it:
// the focus lands on the next control, the form and the screen forget the
// freed one, and nothing of it is read afterwards.
TEST_F(SpinEditTest, AHandlerFreesTheEditorWhileTabMovesTheFocusOn) {
  enum TBy { GetValue, Exit, Change };
  struct TCase {
    const char* Name;
    TBy By;
    const char16_t* Typed;
  } const cases[] = {
      {"OnGetValue reading typed words", GetValue, u"x"},
      {"OnExit", Exit, u"5"},
      {"OnChange of the clipped text", Change, u"99"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    Failures->Messages.clear();
    TvlSpinEdit* e = NewEdit();
    TvlSpinEdit* other = NewEdit(40);
    TvlSpinEdit* third = NewEdit(70);
    TTabMishap* mishap = New<TTabMishap>();
    Finally freeAll([&] {
      mishap->FreeEdit();
      ::Free(mishap);
      ::Free(third);
      ::Free(other);
    });
    Bounds(e, 0, 10);
    e->Properties()->SetValueType(vtInt);
    switch (c.By) {
      case GetValue: e->Properties()->SetOnGetValue(TvlSpinEditGetValueEvent(mishap, &TTabMishap::GetValue)); break;
      case Exit: e->SetOnExit(TNotifyEvent(mishap, &TTabMishap::Exited)); break;
      case Change: e->Properties()->SetOnChange(TNotifyEvent(mishap, &TTabMishap::Changed)); break;
    }
    Focus(e);
    e->SelectAll();
    Type(c.Typed);
    mishap->Edit = e;
    Key(VK_TAB);
    ASSERT_EQ(mishap->Edit, nullptr);
    EXPECT_TRUE(other->Focused());
    // The active control is the next editor's inner edit.
    EXPECT_TRUE(Form->ActiveControl() && other->ContainsControl(Form->ActiveControl()));
    EXPECT_TRUE(Screen->ActiveControl() && other->ContainsControl(Screen->ActiveControl()));
    EXPECT_TRUE(Failures->Messages.empty());
    // The focus goes on moving from there.
    Key(VK_TAB);
    EXPECT_TRUE(third->Focused());
    EXPECT_TRUE(Screen->ActiveControl() && third->ContainsControl(Screen->ActiveControl()));
  }
}

}  // namespace

namespace {

// A repository item of spin properties, shared by editors.
class TSpinItem : public TvlEditRepositoryItem {
  CL_CLASS(TSpinItem, TvlEditRepositoryItem)
 public:
  TvlCustomEditPropertiesClass GetEditPropertiesClass() const override { return ClassOf<TvlSpinEditProperties>(); }
};

}  // namespace

CL_IMPLEMENT_CLASS(TSpinItem)

namespace {

// A bound of the shared repository item changed by the program while the
// user's typed text is in an editor: the text is read through the item's
// OnGetValue, and a handler that frees the editor there leaves nothing of
// it read afterwards.
TEST_F(SpinEditTest, ASharedBoundChangedWhileTypedTextIsReadByAFreeingHandler) {
  TvlSpinEdit* other = NewEdit(40);
  TvlSpinEdit* e = NewEdit();
  TvlEditRepository* repository = New<TvlEditRepository>(static_cast<TComponent*>(Form));
  TvlEditRepositoryItem* item = repository->CreateItem(ClassOf<TSpinItem>());
  TGetValueMishap* mishap = New<TGetValueMishap>();
  Finally freeAll([&] {
    if (!mishap->Freed) ::Free(e);
    ::Free(mishap);
    ::Free(other);
    ::Free(repository);
  });
  auto* shared = static_cast<TvlSpinEditProperties*>(item->Properties());
  shared->SetValueType(vtInt);
  shared->SetOnGetValue(TvlSpinEditGetValueEvent(mishap, &TGetValueMishap::GetValue));
  e->SetRepositoryItem(item);
  other->SetRepositoryItem(item);
  Focus(e);
  e->SelectAll();
  Type(u"x");
  mishap->Edit = e;
  shared->SetMaxValue(5);
  EXPECT_TRUE(mishap->Freed);
  EXPECT_TRUE(Failures->Messages.empty());
  // The other editor of the item goes on with the new bound.
  Focus(other);
  other->SelectAll();
  Type(u"9");
  Key(VK_RETURN);
  EXPECT_EQ(other->Text(), u"5");
}

}  // namespace
