// The time editor driven with real keys on the headless screen: stepping the
// part under the caret, typing corrections, AM/PM, the saved date, the
// 12-hour masks rebuilt from the locale, and text that does not read.
#include <gtest/gtest.h>

#include <iterator>
#include <string>
#include <vector>

#include "lib/editors/vlEditConsts.h"
#include "lib/editors/vlTimeEdit.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/Finally.h"
#include "platform/rtl/Locale.h"
#include "platform/rtl/Variants.h"
#include "platform/win/Windows.h"
#include "tests/lib/lookandfeel/ControlFixture.h"

using namespace win;

namespace {

std::string Narrow(const String& S) {
  std::string r;
  for (Char c : S) r += c < 128 ? char(c) : '?';
  return r;
}

class TTimeFailures : public TObject {
  CL_CLASS(TTimeFailures, TObject)
 public:
  std::vector<String> Messages;
  void Failed(TObject*, const Exception& E) { Messages.push_back(E.Message()); }
};

}  // namespace

CL_IMPLEMENT_CLASS(TTimeFailures)

namespace {

class TimeEditTest : public controltest::ControlFixture {
 protected:
  void SetUp() override {
    UseLocale(TSystemLocale::EnglishUS);
    ControlFixture::SetUp();
    Failures = New<TTimeFailures>();
    Application->SetOnException(TExceptionEvent(Failures, &TTimeFailures::Failed));
  }
  void TearDown() override {
    Application->SetOnException(TExceptionEvent());
    FreeAndNil(Failures);
    ControlFixture::TearDown();
    UseLocale(TSystemLocale::Turkish);
  }
  static void UseLocale(TSystemLocale ALocale) {
    SetSystemLocale(ALocale);
    vlFormatController()->RegionalSettingsChanged();
  }
  TvlTimeEdit* NewEdit(Integer ATop = 10) {
    TvlTimeEdit* e = Add<TvlTimeEdit>(10, ATop, 150, 21);
    Pump();
    return e;
  }
  void Focus(TvlTimeEdit* AEdit) {
    ClickAt(AEdit, 5, 10);
    Pump();
  }
  void Key(UINT AKey) {
    Display.KeyPress(AKey);
    Pump();
  }
  void Type(const String& AText) {
    Display.TypeText(AText);
    Pump();
  }
  // The caret (a one-character cursor) at APos.
  static void CaretAt(TvlTimeEdit* AEdit, Integer APos) { AEdit->SetSelection(APos, 1); }

  TTimeFailures* Failures{};
};

TEST_F(TimeEditTest, StepsThePartUnderTheCaret) {
  struct TCase {
    const char* Name;
    const char16_t* Start;
    Integer Caret;
    Boolean Circular;
    UINT Key;
    const char16_t* Expected;
    Integer Selected;
  } const cases[] = {
      {"a minute carries into the hour", u"10:59:30", 3, false, VK_UP, u"11:00:30", 4},
      {"an hour past midnight does nothing", u"23:15:00", 0, false, VK_UP, u"23:15:00", 1},
      {"an hour past midnight wraps when circular", u"23:15:00", 1, true, VK_UP, u"00:15:00", 1},
      {"a second down across the minute", u"08:00:00", 7, false, VK_DOWN, u"07:59:59", 7},
      {"ten hours with Page Up", u"08:00:00", 0, false, VK_PRIOR, u"18:00:00", 1},
  };
  TvlTimeEdit* e = NewEdit();
  Focus(e);
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    e->Properties()->SetCircular(c.Circular);
    e->SetTime(StrToTime(c.Start));
    CaretAt(e, c.Caret);
    Key(c.Key);
    EXPECT_EQ(e->Text(), c.Expected);
    EXPECT_EQ(e->SelStart(), c.Selected);
    EXPECT_EQ(e->SelLength(), 1);
  }
}

TEST_F(TimeEditTest, TypedDigitsAreCorrectedIntoValidParts) {
  struct TCase {
    const char* Name;
    Integer Caret;
    const char16_t* Typed;
    const char16_t* Expected;
  } const cases[] = {
      {"9 as the first hour digit", 0, u"9", u"09:00:00"},
      {"5 after 2 in the hours", 0, u"25", u"05:00:00"},
      {"7 as the first minute digit", 3, u"7", u"00:07:00"},
      {"a whole time", 0, u"134507", u"13:45:07"},
      {"0 after 2 in the hours stays", 1, u"0", u"00:00:00"},
  };
  TvlTimeEdit* e = NewEdit();
  Focus(e);
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    e->SetTime(0);
    CaretAt(e, c.Caret);
    Type(c.Typed);
    EXPECT_EQ(e->Text(), c.Expected);
  }
  Key(VK_RETURN);
  EXPECT_TRUE(Failures->Messages.empty());
}

TEST_F(TimeEditTest, TwelveHourFormatTogglesAmAndPm) {
  TvlTimeEdit* e = NewEdit();
  e->Properties()->SetUse24HourFormat(false);
  Focus(e);
  e->SetTime(StrToTime(u"10:00:00"));
  EXPECT_EQ(e->Text(), u"10:00:00 AM");
  CaretAt(e, 9);
  Key(VK_UP);
  EXPECT_EQ(e->Text(), u"10:00:00 PM");
  EXPECT_EQ(e->SelText(), u"PM");
  Key(VK_DOWN);
  EXPECT_EQ(e->Text(), u"10:00:00 AM");
  CaretAt(e, 9);
  Type(u"p");
  EXPECT_EQ(e->Text(), u"10:00:00 PM");
  Key(VK_RETURN);
  EXPECT_NEAR(e->Time(), 22.0 / 24, 1e-9);
  // Hours run from 1 to 12: a first 0 keeps the former first digit.
  CaretAt(e, 0);
  Type(u"0");
  EXPECT_EQ(e->Text(), u"01:00:00 PM");
}

TEST_F(TimeEditTest, TheTwelveHourMasksFollowTheLocale) {
  EXPECT_EQ(vlTimeEditFormat(tfHourMinSec, 1), u"00:00:00 cc;1;0");
  EXPECT_EQ(vlTimeEditFormat(tfHour, 1), u"00 cc;1;0");
  const TFormatSettings saved = FormatSettings();
  Finally restore([&] {
    FormatSettings() = saved;
    vlRebuildTimeEditMasks();
  });
  // A locale without designators: no designator part.
  FormatSettings().TimeAMString = String();
  FormatSettings().TimePMString = String();
  vlRebuildTimeEditMasks();
  EXPECT_EQ(vlTimeEditFormat(tfHourMinSec, 1), u"00:00:00;1;0");
  // A three-letter designator.
  FormatSettings().TimeAMString = u"öö.";
  FormatSettings().TimePMString = u"ös.";
  vlRebuildTimeEditMasks();
  EXPECT_EQ(vlTimeEditFormat(tfHourMin, 1), u"00:00 ccc;1;0");
  TvlTimeEdit* e = NewEdit();
  e->Properties()->SetUse24HourFormat(false);
  e->Properties()->SetTimeFormat(tfHourMin);
  EXPECT_EQ(e->Properties()->EditMask(), u"00:00 ccc;1;0");
}

TEST_F(TimeEditTest, TheSavedDateStaysAndOnlyTheTimeChanges) {
  TvlTimeEdit* e = NewEdit();
  e->Properties()->SetShowDate(true);
  const TDateTime value = EncodeDate(2012, 1, 2) + EncodeTime(14, 30, 0, 0);
  e->SetEditValue(VarFromDateTime(value));
  EXPECT_EQ(e->SavedDate(), EncodeDate(2012, 1, 2));
  EXPECT_EQ(e->Text(), DateTimeToStr(value));
  Focus(e);
  EXPECT_EQ(e->Text(), u"14:30:00");
  CaretAt(e, 0);
  Key(VK_UP);
  Key(VK_RETURN);
  EXPECT_NEAR(e->EditValue().AsDouble(), EncodeDate(2012, 1, 2) + EncodeTime(15, 30, 0, 0), 1e-9);
  // An hour-only editor reads "07" as seven o'clock.
  TvlTimeEdit* h = NewEdit(40);
  h->Properties()->SetTimeFormat(tfHour);
  Variant v;
  h->PrepareEditValue(Variant(u"07"), v, true);
  EXPECT_NEAR(v.AsDouble(), 7.0 / 24, 1e-9);
}

// Text that did not read used to be shown as the current time and posted as midnight.
TEST_F(TimeEditTest, TextThatDoesNotReadIsNeitherNowNorMidnight) {
  TvlTimeEdit* e = NewEdit();
  Variant shown;
  e->Properties()->PrepareDisplayValue(Variant(u"yarın"), shown, false);
  EXPECT_EQ(shown.AsString(), u"yarın");
  e->SetEditValue(Variant(u"yarın"));
  EXPECT_EQ(e->Text(), u"yarın");
  TvlTimeEdit* f = NewEdit(40);
  f->SetTime(StrToTime(u"09:30:00"));
  Variant v;
  f->PrepareEditValue(Variant(u"99:99:99"), v, true);
  EXPECT_NEAR(v.AsDouble(), 9.5 / 24, 1e-9);
  Variant display(u"99:99:99");
  String error;
  Boolean failed = false;
  f->Properties()->ValidateDisplayValue(display, error, failed, nullptr);
  EXPECT_TRUE(failed);
  EXPECT_EQ(error, u"Could not convert to time");
}

// Delete over the designator used to write the digits' blank into it ("10:00:00 00").
TEST_F(TimeEditTest, DeletingKeepsTheDesignatorAndBlanksOnlyDigits) {
  struct TCase {
    const char* Name;
    Integer Start, Length;
    UINT Key;
    const char16_t* Expected;
  } const cases[] = {
      {"Delete over the designator", 9, 2, VK_DELETE, u"10:30:00 PM"},
      {"Delete over the whole text", 0, 11, VK_DELETE, u"00:00:00 PM"},
      {"Backspace after the designator", 11, 0, VK_BACK, u"10:30:00 PM"},
      {"Delete over the minutes", 3, 2, VK_DELETE, u"10:00:00 PM"},
  };
  TvlTimeEdit* e = NewEdit();
  e->Properties()->SetUse24HourFormat(false);
  Focus(e);
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    e->SetTime(StrToTime(u"22:30:00"));
    e->SetSelection(c.Start, c.Length);
    Key(c.Key);
    EXPECT_EQ(e->Text(), c.Expected);
  }
}

TEST_F(TimeEditTest, APropertiesChangePutsTheCaretAtTheEnd) {
  TvlTimeEdit* e = NewEdit();
  Focus(e);
  e->SetTime(StrToTime(u"10:30:00"));
  CaretAt(e, 0);
  e->Properties()->SetCircular(true);
  EXPECT_EQ(e->SelStart(), Integer(e->Text().size()));
  EXPECT_EQ(e->SelLength(), 0);
}

TEST_F(TimeEditTest, AnEmptyTwelveHourEditorShowsNothingUnfocused) {
  TvlTimeEdit* e = NewEdit();
  e->Properties()->SetUse24HourFormat(false);
  e->SetEditValue(Null());
  EXPECT_EQ(e->Text(), u"");
}

// Designators are told apart without regard to case, beyond ASCII too
// ("ö" typed on "ÖS" used to be refused).
TEST_F(TimeEditTest, TurkishDesignatorsAreTypedInEitherCase) {
  UseLocale(TSystemLocale::Turkish);
  EXPECT_EQ(vlTimeEditFormat(tfHourMinSec, 1), u"00:00:00 cc;1;0");
  struct TCase {
    const char* Name;
    const char16_t* Typed;
    const char16_t* Expected;
  } const cases[] = {
      {"lower case picks ÖÖ", u"öö", u"10:30:00 ÖÖ"},
      {"upper case picks ÖÖ", u"ÖÖ", u"10:30:00 ÖÖ"},
      {"s picks ÖS", u"ös", u"10:30:00 ÖS"},
  };
  TvlTimeEdit* e = NewEdit();
  e->Properties()->SetUse24HourFormat(false);
  Focus(e);
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    e->SetTime(StrToTime(u"22:30:00"));
    ASSERT_EQ(e->Text(), u"10:30:00 ÖS");
    CaretAt(e, 9);
    Type(c.Typed);
    EXPECT_EQ(e->Text(), c.Expected);
  }
  Key(VK_RETURN);
  EXPECT_NEAR(e->Time(), 22.5 / 24, 1e-9);
  CaretAt(e, 9);
  Key(VK_DOWN);
  EXPECT_EQ(e->Text(), u"10:30:00 ÖÖ");
  EXPECT_TRUE(Failures->Messages.empty());
}

// The window text and the edit text in both locales, 12- and 24-hour, with
// and without seconds: a time reads whatever its notation; text that does
// not read is refused or keeps the last good time; an empty edit text is no
// time at all (it used to be midnight in the 24-hour format and the old time
// under an empty text in the 12-hour one).
TEST_F(TimeEditTest, TextAndEditTextReadTimesAndNeverInventOne) {
  struct TCase {
    TSystemLocale Locale;
    Boolean Use24Hour;
    TvlTimeEditTimeFormat Format;
    const char16_t* Afternoon;  // 14:30:45 as shown
  } const cases[] = {
      {TSystemLocale::EnglishUS, true, tfHourMinSec, u"14:30:45"},
      {TSystemLocale::EnglishUS, true, tfHourMin, u"14:30"},
      {TSystemLocale::EnglishUS, false, tfHourMinSec, u"02:30:45 PM"},
      {TSystemLocale::EnglishUS, false, tfHourMin, u"02:30 PM"},
      {TSystemLocale::Turkish, true, tfHourMinSec, u"14:30:45"},
      {TSystemLocale::Turkish, false, tfHourMinSec, u"02:30:45 ÖS"},
      {TSystemLocale::Turkish, false, tfHourMin, u"02:30 ÖS"},
  };
  const TDateTime date = EncodeDate(2020, 5, 6), morning = EncodeTime(9, 15, 20, 0);
  for (const TCase& c : cases) {
    UseLocale(c.Locale);
    for (Boolean focused : {false, true}) {
      SCOPED_TRACE(Narrow(c.Afternoon) + (focused ? " focused" : " unfocused"));
      TvlTimeEdit* e = NewEdit();
      TvlTimeEdit* other = NewEdit(40);
      Finally freeEdits([&] {
        Free(other);
        Free(e);
      });
      e->Properties()->SetUse24HourFormat(c.Use24Hour);
      e->Properties()->SetTimeFormat(c.Format);
      Focus(focused ? e : other);
      const Double shownSeconds = c.Format == tfHourMinSec ? 45 : 0;
      const TDateTime afternoon = EncodeTime(14, 30, Word(shownSeconds), 0);
      // A time in either notation reads, on the saved date.
      for (const char16_t* text : {u"14:30:45", c.Afternoon}) {
        e->SetEditValue(VarFromDateTime(date + morning));
        e->SetTextProp(text);
        EXPECT_EQ(e->Text(), c.Afternoon) << Narrow(text);
        EXPECT_NEAR(e->Time(), afternoon, 1e-9) << Narrow(text);
        e->SetEditValue(VarFromDateTime(date + morning));
        e->SetEditText(text);
        EXPECT_EQ(e->EditText(), c.Afternoon) << Narrow(text);
        EXPECT_NEAR(e->EditValue().AsDouble(), date + afternoon, 1e-9) << Narrow(text);
      }
      // Text that does not read: the window text refuses it, the edit value keeps its time.
      for (const char16_t* text : {u"abc", u"25:00"}) {
        e->SetEditValue(VarFromDateTime(date + morning));
        e->SetTextProp(text);
        EXPECT_NEAR(e->EditValue().AsDouble(), date + morning, 1e-9) << Narrow(text);
        e->SetEditText(text);
        EXPECT_NEAR(e->EditValue().AsDouble(), date + morning, 1e-9) << Narrow(text);
      }
      // An empty edit text is no time (Null), as Null shows no text unfocused.
      e->SetEditValue(VarFromDateTime(date + morning));
      e->SetEditText(u"");
      EXPECT_TRUE(VarIsNull(e->EditValue()));
      EXPECT_EQ(e->Time(), 0);
      e->SetEditValue(Null());
      EXPECT_EQ(e->Text(), focused ? TrimRight(FormatDateTime(e->Properties()->TimeDisplayFormat(), 0)) : String());
    }
  }
}

// The time of a text edit value that does not read is an error, never midnight.
TEST_F(TimeEditTest, TheTimeOfAnUnreadableTextIsAnError) {
  TvlTimeEdit* e = NewEdit();
  e->SetEditValue(Variant(u"yarın"));
  EXPECT_THROW(e->Time(), EConvertError);
  // A step from it does not start at midnight: nothing moves.
  e->Properties()->SetCircular(true);
  e->Increment(sebForward);
  EXPECT_EQ(e->Text(), u"yarın");
  e->SetEditValue(Variant(u"14:30"));
  EXPECT_NEAR(e->Time(), 14.5 / 24, 1e-9);
}

}  // namespace

namespace {

// The user only looks at the editor or passes through it: whatever its edit
// value (no time, a time, a text that does not read), painting, focusing,
// Tab out and a step in either locale and hour format raise nothing, and an
// untouched value stays as it was.
TEST_F(TimeEditTest, LookingAtOrPassingThroughTheEditorRaisesNothing) {
  struct TCase {
    TSystemLocale Locale;
    Boolean Use24Hour;
  } const cases[] = {
      {TSystemLocale::EnglishUS, true},
      {TSystemLocale::EnglishUS, false},
      {TSystemLocale::Turkish, true},
      {TSystemLocale::Turkish, false},
  };
  const TDateTime date = EncodeDate(2020, 5, 6), morning = EncodeTime(9, 15, 20, 0);
  const Variant values[] = {Null(), VarFromDateTime(date + morning), Variant(u"yarın")};
  for (const TCase& c : cases) {
    UseLocale(c.Locale);
    for (size_t i = 0; i < std::size(values); ++i) {
      SCOPED_TRACE(std::string(c.Locale == TSystemLocale::Turkish ? "Turkish" : "English") +
                   (c.Use24Hour ? " 24h" : " 12h") + " value " + std::to_string(i));
      Failures->Messages.clear();
      TvlTimeEdit* e = NewEdit();
      TvlTimeEdit* other = NewEdit(40);
      Finally freeEdits([&] {
        Free(other);
        Free(e);
      });
      e->Properties()->SetUse24HourFormat(c.Use24Hour);
      e->SetEditValue(values[i]);
      e->Repaint();
      Pump();
      Focus(e);
      e->Repaint();
      Pump();
      Key(VK_TAB);
      EXPECT_TRUE(other->Focused());
      EXPECT_TRUE(Failures->Messages.empty());
      const Variant& v = e->EditValue();
      if (i == 0)
        EXPECT_TRUE(VarIsNull(v));
      else if (i == 1)
        EXPECT_NEAR(v.AsDouble(), date + morning, 1e-9);
      else
        EXPECT_EQ(VarToStr(v), u"yarın");
      // A step from a time goes from that time, on its date.
      if (i == 1) {
        Focus(e);
        CaretAt(e, 0);
        Key(VK_UP);
        Key(VK_TAB);
        EXPECT_TRUE(Failures->Messages.empty());
        EXPECT_NEAR(e->EditValue().AsDouble(), date + morning + 1.0 / 24, 1e-9);
      }
    }
  }
}

}  // namespace
