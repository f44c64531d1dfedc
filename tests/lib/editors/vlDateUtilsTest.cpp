// The format controller and the date utilities under the Turkish and English
// locales, with a fixed "today".
#include <gtest/gtest.h>

#include "lib/editors/vlDateUtils.h"
#include "platform/classes/Interfaces.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/Locale.h"
#include "platform/win/Windows.h"

namespace {

// Tuesday 15 February 2011, 10:30.
TDateTime FixedNow() { return EncodeDateTime(2011, 2, 15, 10, 30, 0, 0); }
TDateTime gNow = 0;
TDateTime SettableNow() { return gNow; }

// Switches the locale and the format settings for one test, and back.
class LocaleFixture : public ::testing::Test {
 protected:
  void Use(TSystemLocale ALocale) {
    SetSystemLocale(ALocale);
    vlFormatController()->RegionalSettingsChanged();
  }
  void SetUp() override { vlNowFunction = &FixedNow; }
  void TearDown() override {
    vlNowFunction = nullptr;
    TvlFormatController* fc = vlFormatController();
    fc->SetAssignedStartOfWeek(false);
    fc->SetAssignedStandardDateEditMask(false);
    fc->SetUseDrevikDateTimeFormats(false);
    Use(TSystemLocale::Turkish);
  }
};

class CountingListener : public IvlFormatControllerListener {
 public:
  HRESULT QueryInterface(const TGUID&, void**) override { return E_NOINTERFACE; }
  Integer _AddRef() override { return -1; }
  Integer _Release() override { return -1; }
  void FormatChanged() override { ++Count; }
  Integer Count = 0;
};

TDateTime Smart(const String& AText) {
  TDateTime d = vlNullDate;
  EXPECT_TRUE(vlSmartTextToDate(AText, d));
  return d;
}

TEST_F(LocaleFixture, SmartWordsUnderBothLocales) {
  struct Case {
    const char16_t* Text;
    TDateTime Turkish;  // weeks from Monday
    TDateTime English;  // weeks from Sunday
  } cases[] = {
      {u"today", EncodeDate(2011, 2, 15), EncodeDate(2011, 2, 15)},
      {u"ToDay", EncodeDate(2011, 2, 15), EncodeDate(2011, 2, 15)},
      {u"yesterday", EncodeDate(2011, 2, 14), EncodeDate(2011, 2, 14)},
      {u"tomorrow", EncodeDate(2011, 2, 16), EncodeDate(2011, 2, 16)},
      {u"Sunday", EncodeDate(2011, 2, 20), EncodeDate(2011, 2, 20)},
      {u"Monday", EncodeDate(2011, 2, 21), EncodeDate(2011, 2, 21)},
      {u"Tuesday", EncodeDate(2011, 2, 15), EncodeDate(2011, 2, 15)},
      {u"wednesday", EncodeDate(2011, 2, 16), EncodeDate(2011, 2, 16)},
      {u"Thursday", EncodeDate(2011, 2, 17), EncodeDate(2011, 2, 17)},
      {u"Friday", EncodeDate(2011, 2, 18), EncodeDate(2011, 2, 18)},
      {u"Saturday", EncodeDate(2011, 2, 19), EncodeDate(2011, 2, 19)},
      {u"first", EncodeDate(2011, 2, 14), EncodeDate(2011, 2, 13)},
      {u"second", EncodeDate(2011, 2, 15), EncodeDate(2011, 2, 14)},
      {u"third", EncodeDate(2011, 2, 16), EncodeDate(2011, 2, 15)},
      {u"fourth", EncodeDate(2011, 2, 17), EncodeDate(2011, 2, 16)},
      {u"fifth", EncodeDate(2011, 2, 18), EncodeDate(2011, 2, 17)},
      {u"sixth", EncodeDate(2011, 2, 19), EncodeDate(2011, 2, 18)},
      {u"seventh", EncodeDate(2011, 2, 20), EncodeDate(2011, 2, 19)},
      {u"bom", EncodeDate(2011, 2, 1), EncodeDate(2011, 2, 1)},
      {u"eom", EncodeDate(2011, 2, 28), EncodeDate(2011, 2, 28)},
      {u"now", FixedNow(), FixedNow()},
      {u"today+3", EncodeDate(2011, 2, 18), EncodeDate(2011, 2, 18)},
      {u"today + 3", EncodeDate(2011, 2, 18), EncodeDate(2011, 2, 18)},
      {u"today-1", EncodeDate(2011, 2, 14), EncodeDate(2011, 2, 14)},
      {u"today+", EncodeDate(2011, 2, 15), EncodeDate(2011, 2, 15)},
      {u"today+x", EncodeDate(2011, 2, 15), EncodeDate(2011, 2, 15)},
      {u"eom-30", EncodeDate(2011, 1, 29), EncodeDate(2011, 1, 29)},
  };
  Use(TSystemLocale::Turkish);
  for (const Case& c : cases) EXPECT_EQ(c.Turkish, Smart(c.Text)) << int(&c - cases);
  Use(TSystemLocale::EnglishUS);
  for (const Case& c : cases) EXPECT_EQ(c.English, Smart(c.Text)) << int(&c - cases);
  TDateTime d = 0;
  EXPECT_FALSE(vlSmartTextToDate(u"someday", d));
}

TEST_F(LocaleFixture, SmartWordsFollowTheCalendar) {
  vlNowFunction = &SettableNow;
  gNow = EncodeDate(2012, 2, 10);
  EXPECT_EQ(EncodeDate(2012, 2, 29), Smart(u"eom"));
  gNow = EncodeDate(2011, 2, 14);  // a Monday
  EXPECT_EQ(EncodeDate(2011, 2, 14), Smart(u"monday"));
  gNow = EncodeDate(2011, 2, 15);  // a Tuesday: the next Monday
  EXPECT_EQ(EncodeDate(2011, 2, 21), Smart(u"monday"));
}

TEST_F(LocaleFixture, TextToDateReadsWordsAndLocaleDates) {
  Use(TSystemLocale::Turkish);
  EXPECT_EQ(EncodeDate(2011, 2, 16), vlTextToDateTime(u"  tomorrow ", false));
  EXPECT_EQ(EncodeDate(2010, 12, 11), vlTextToDateTime(u"11.12.2010", false));
  EXPECT_EQ(vlNullDate, vlTextToDateTime(u"", false));
  EXPECT_EQ(vlNullDate, vlTextToDateTime(u"nonsense", false));
  EXPECT_EQ(vlNullDate, vlTextToDateTime(u"31.02.2010", false));
  Use(TSystemLocale::EnglishUS);
  EXPECT_EQ(EncodeDate(2010, 12, 11), vlTextToDateTime(u"12/11/2010", true));
  EXPECT_EQ(EncodeDateTime(2010, 12, 11, 14, 5, 0, 0), vlTextToDateTime(u"12/11/2010 2:05 PM", false));
  TDateTime d = 0;
  EXPECT_FALSE(vlTryTextToDate(u"13/45/2010", d));
  EXPECT_EQ(vlNullDate, d);
}

TEST_F(LocaleFixture, NormalisingDropsTheFormatsLiteralText) {
  Use(TSystemLocale::Turkish);
  FormatSettings().ShortDateFormat = u"dd.MM.yyyy' yılı'";
  vlFormatController()->GetFormats();
  String text = u"  11.12.2010   YILI ";
  vlNormalizeDateText(text, false);
  EXPECT_EQ(u"11.12.2010", text);
  text = u"11.12.2010  yılı   10:30";
  vlNormalizeDateText(text, true);
  EXPECT_EQ(u"11.12.2010 10:30", text);
}

TEST_F(LocaleFixture, EditAndDisplayTexts) {
  Use(TSystemLocale::EnglishUS);
  String text;
  vlDateTimeToEditText(true, false, text, EncodeDate(2011, 2, 5));
  EXPECT_EQ(u"2/5/2011", text);
  vlDateTimeToEditText(false, false, text, vlNullDate);
  EXPECT_EQ(u"", text);
  vlDateTimeToDisplayText(true, false, false, text, EncodeDate(2011, 2, 5));
  EXPECT_EQ(u"02/05/2011", text);
  vlFormatDateByPattern(u"dd 'of' mmmm yyyy", 0, text, EncodeDate(2011, 2, 5));
  EXPECT_EQ(u"05 of February 2011", text);
  vlFormatDateByPattern(u"'x'd/m/yy", u'-', text, EncodeDate(2011, 2, 5));
  EXPECT_EQ(u"5-02-11", text);
  String names;
  for (Integer day = 1; day <= 7; ++day) {
    vlGetWeekDayName(day, 0, text);
    names += text;
  }
  EXPECT_EQ(u"MTWTFSS", names);
}

TEST_F(LocaleFixture, DateEditFormatAndMasksOfAShortDate) {
  Use(TSystemLocale::EnglishUS);
  TvlFormatController* fc = vlFormatController();
  FormatSettings().ShortDateFormat = u"d/M/yyyy";
  fc->GetFormats();
  EXPECT_EQ(u"dd/MM/yyyy", fc->DateEditFormat());
  const auto& items = fc->DateFormatInfo().Items;
  ASSERT_EQ(5u, items.size());
  EXPECT_EQ(dtikDay, items[0].Kind);
  EXPECT_EQ(u"D", items[0].Data);
  EXPECT_EQ(dtikDateSeparator, items[1].Kind);
  EXPECT_EQ(dtikMonth, items[2].Kind);
  EXPECT_EQ(u"M", items[2].Data);
  EXPECT_EQ(dtikDateSeparator, items[3].Kind);
  EXPECT_EQ(dtikYear, items[4].Kind);
  EXPECT_EQ(u"YYYY", items[4].Data);
  EXPECT_EQ(u"!99/99/9999;1; ", fc->StandardDateEditMask());
  EXPECT_EQ(u"dd/mm/yyyy", fc->MaskedDateEditFormat());
  EXPECT_EQ(10, TvlFormatController::GetDateTimeStandardMaskStringLength(fc->DateFormatInfo()));
  TvlDateTimeFormatItemInfo info;
  ASSERT_TRUE(TvlFormatController::GetDateTimeFormatItemStandardMaskInfo(fc->DateFormatInfo(), 4, info));
  EXPECT_EQ(dtikMonth, info.Kind);
  EXPECT_EQ(4, info.ItemZoneStart);
  EXPECT_EQ(2, info.ItemZoneLength);
  EXPECT_FALSE(TvlFormatController::GetDateTimeFormatItemStandardMaskInfo(fc->DateFormatInfo(), 11, info));
  EXPECT_FALSE(TvlFormatController::GetDateTimeFormatItemStandardMaskInfo(fc->DateFormatInfo(), 0, info));
  // The date expression, then the smart words (without "now" for dates).
  const String& re = fc->RegExprDateEditMask();
  EXPECT_EQ(0u, re.find(u"(([012]?[1-9]|[123]0|31)\\/((0?[1-9]|1[012])|('Jan'|'Feb'|"));
  EXPECT_NE(String::npos, re.find(u")|('today'|'yesterday'|"));
  EXPECT_EQ(String::npos, re.find(u"'now'"));
  EXPECT_NE(String::npos, fc->RegExprDateTimeEditMask().find(u"|'eom'|'now')((\\+|-)\\d(\\d(\\d\\d?)?)?)?"));
}

TEST_F(LocaleFixture, TwelveHourTimeFormat) {
  Use(TSystemLocale::EnglishUS);
  TvlDateTimeFormatInfo info;
  ASSERT_TRUE(vlParseDateTimeFormat(u"h:mm:ss AMPM", info));
  ASSERT_EQ(7u, info.Items.size());
  EXPECT_EQ(dtikHour, info.Items[0].Kind);
  EXPECT_EQ(u"12H", info.Items[0].Data);
  EXPECT_EQ(dtikTimeSeparator, info.Items[1].Kind);
  EXPECT_EQ(dtikMin, info.Items[2].Kind);
  EXPECT_EQ(dtikSec, info.Items[4].Kind);
  EXPECT_EQ(dtikString, info.Items[5].Kind);
  EXPECT_EQ(u" ", info.Items[5].Data);
  EXPECT_EQ(dtikTimeSuffix, info.Items[6].Kind);
  EXPECT_EQ(u"(0?[1-9]|1[012])\\:[0-5]?\\d\\:[0-5]?\\d' '('AM'|'PM')?", vlGetTimeRegExprMask(info));
  EXPECT_EQ(u"!99:99:99\\ cc;1; ", vlGetDateTimeStandardMask(info));
  TvlDateTimeFormatItemInfo item;
  ASSERT_TRUE(TvlFormatController::GetDateTimeFormatItemStandardMaskInfo(info, 10, item));
  EXPECT_EQ(tskAMPMString, item.TimeSuffixKind);
  // 24-hour: "mm" after "hh" is minutes.
  ASSERT_TRUE(vlParseDateTimeFormat(u"hh:mm", info));
  ASSERT_EQ(3u, info.Items.size());
  EXPECT_EQ(u"24HH", info.Items[0].Data);
  EXPECT_EQ(dtikMin, info.Items[2].Kind);
  EXPECT_EQ(u"([01]?\\d|2[0-3])\\:[0-5]?\\d", vlGetTimeRegExprMask(info));
  // A suffix without an hour is dropped.
  ASSERT_TRUE(vlParseDateTimeFormat(u"dd AM/PM", info));
  EXPECT_FALSE(info.DefinedItems[dtikTimeSuffix]);
  EXPECT_EQ(2u, info.Items.size());
}

TEST_F(LocaleFixture, EraFormatGivesEmptyItemsAndTheSmartWordMaskAlone) {
  Use(TSystemLocale::EnglishUS);
  TvlFormatController* fc = vlFormatController();
  FormatSettings().ShortDateFormat = u"gg yyyy/MM/dd";
  fc->GetFormats();
  EXPECT_TRUE(fc->DateFormatInfo().Items.empty());
  EXPECT_EQ(u"", fc->StandardDateEditMask());
  EXPECT_EQ(u"", fc->StandardDateTimeEditMask());
  const String& re = fc->RegExprDateEditMask();
  EXPECT_EQ(0u, re.find(u"('today'|"));
  EXPECT_EQ(String::npos, re.find(u"()"));
  EXPECT_EQ(0u, fc->RegExprDateTimeEditMask().find(u"('today'|"));
}

TEST_F(LocaleFixture, NegativeCurrencyLayouts) {
  const char16_t* const expected[16] = {
      u"(L,0.00)", u"-L,0.00", u"L-,0.00", u"L,0.00-", u"(,0.00L)", u"-,0.00L", u",0.00-L", u",0.00L-",
      u"-,0.00 L", u"-L ,0.00", u",0.00 L-", u"L ,0.00-", u"L -,0.00", u",0.00- L", u"(L ,0.00)", u"(,0.00 L)"};
  for (Integer code = 0; code < 16; ++code)
    EXPECT_EQ(String(u",0.00 L;") + expected[code], vlGetCurrencyFormat(2, u"L", 3, code)) << code;
  EXPECT_EQ(u"'.'R,0.;", vlGetCurrencyFormat(0, u".R", 0, 16));
  Use(TSystemLocale::Turkish);
  EXPECT_EQ(u",0.00 TL;-,0.00 TL", vlFormatController()->CurrencyFormat());
  Use(TSystemLocale::EnglishUS);
  EXPECT_EQ(u"$,0.00;($,0.00)", vlFormatController()->CurrencyFormat());
}

TEST_F(LocaleFixture, ListenersAreToldOncePerUpdate) {
  TvlFormatController* fc = vlFormatController();
  // Process-wide listeners (the time editor's masks) stay registered.
  const Integer base = fc->ListenerCount();
  CountingListener listener;
  fc->AddListener(&listener);
  fc->AddListener(&listener);
  EXPECT_EQ(base + 1, fc->ListenerCount());
  EXPECT_NE(nullptr, fc->Window());
  fc->BeginUpdate();
  fc->SetStartOfWeek(3);
  fc->SetFirstWeekOfYear(fwyFirstFourDays);
  fc->SetCurrencyFormat(u"0.00");
  EXPECT_EQ(0, listener.Count);
  fc->EndUpdate();
  EXPECT_EQ(1, listener.Count);
  // Translations changed: the controller refreshes.
  nbResourceStringsRepository()->NotifyListeners();
  EXPECT_EQ(2, listener.Count);
  // The regional settings changed: refreshed and told.
  fc->RegionalSettingsChanged();
  EXPECT_EQ(3, listener.Count);
  EXPECT_EQ(u"0.00", fc->CurrencyFormat());
  EXPECT_EQ(3, fc->StartOfWeek());
  fc->SetAssignedCurrencyFormat(false);
  EXPECT_NE(u"0.00", fc->CurrencyFormat());
  fc->SetFirstWeekOfYear(fwySystem);
  fc->RemoveListener(&listener);
  // The window lives only while someone listens.
  EXPECT_EQ(base > 0, fc->Window() != nullptr);
}

TEST_F(LocaleFixture, AnAssignedMaskSurvivesLocaleChangesUntilReleased) {
  Use(TSystemLocale::Turkish);
  TvlFormatController* fc = vlFormatController();
  EXPECT_EQ(u"!99\\.99\\.9999;1; ", fc->StandardDateEditMask());
  fc->SetStandardDateEditMask(fc->StandardDateEditMask());
  EXPECT_TRUE(fc->AssignedStandardDateEditMask());
  Use(TSystemLocale::EnglishUS);
  EXPECT_EQ(u"!99\\.99\\.9999;1; ", fc->StandardDateEditMask());
  EXPECT_EQ(u"!99/99/9999;1; ", fc->DateEditMask());
  fc->SetAssignedStandardDateEditMask(false);
  EXPECT_EQ(u"!99/99/9999;1; ", fc->StandardDateEditMask());
}

TEST_F(LocaleFixture, WeekNumbersOfTheLocaleRule) {
  // Both locales count the week of 1 January as week 1.
  Use(TSystemLocale::EnglishUS);
  EXPECT_EQ(1u, vlGetWeekNumber(0, fwySystem, EncodeDate(2011, 1, 1)));
  EXPECT_EQ(53u, vlGetWeekNumber(0, fwySystem, EncodeDate(2011, 12, 31)));
  EXPECT_EQ(52u, vlGetWeekNumber(0, fwySystem, EncodeDate(2011, 12, 24)));
  EXPECT_EQ(1u, vlGetWeekNumber(0, fwySystem, EncodeDate(2012, 1, 1)));
}

TEST_F(LocaleFixture, NullDateAndValidRange) {
  EXPECT_TRUE(vlIsValidDate(vlNullDate));
  EXPECT_TRUE(vlIsValidDate(EncodeDate(100, 1, 1)));
  EXPECT_FALSE(vlIsValidDate(EncodeDate(99, 12, 31)));
  EXPECT_FALSE(vlIsValidDate(vlMaxDate + 0.0001));
  EXPECT_EQ(EncodeDate(2011, 2, 1), vlGetFirstDayOfMonth(true, EncodeDate(2011, 2, 17)));
  EXPECT_DOUBLE_EQ(EncodeDate(2011, 2, 28) + EncodeTime(23, 59, 59, 999),
                   vlGetLastDayOfMonth(false, EncodeDate(2011, 2, 17)));
  EXPECT_EQ(2011 * 12 + 2 - 12, vlGetMonthIndex(EncodeDate(2011, 2, 17)));
  EXPECT_DOUBLE_EQ(0.25, vlExtractTime(-1.25));
  EXPECT_EQ(-1, vlExtractDate(-1.25));
}

}  // namespace

// Damaged or extreme typed texts give the null date (or the word's own date for
// a malformed offset), never a date outside the accepted range.
TEST_F(LocaleFixture, DamagedTextsGiveTheNullDate) {
  const char16_t* bad[] = {u"",           u"-",          u"+",          u"+999999999", u"-999999999",
                           u"31/02/2024", u"31.02.2024", u"99/99/99999", u"99.99.99999",
                           u"99999999999999999999999999999999999999", u"1e400",
                           u"today+9999999", u"today-9999999", u"now+999999999", u"eom+2958465"};
  for (TSystemLocale loc : {TSystemLocale::Turkish, TSystemLocale::EnglishUS}) {
    Use(loc);
    for (const char16_t* t : bad) {
      EXPECT_EQ(vlNullDate, vlTextToDateTime(t, false)) << std::u16string(t).size();
      EXPECT_EQ(vlNullDate, vlTextToDateTime(t, true)) << std::u16string(t).size();
      TDateTime d = 0;
      vlTryStrToDateTime(t, true, d);
      vlTryStrToDateTime(t, false, d);
    }
    EXPECT_EQ(EncodeDate(2011, 2, 15), vlTextToDateTime(u"yesterday+1", false));
    EXPECT_EQ(EncodeDate(2011, 2, 15), vlTextToDateTime(u"today+99999999999", false));
  }
}

TEST_F(LocaleFixture, DottedAndDotlessIInSmartWords) {
  for (TSystemLocale loc : {TSystemLocale::Turkish, TSystemLocale::EnglishUS}) {
    Use(loc);
    TDateTime d = 0;
    EXPECT_TRUE(vlSmartTextToDate(u"FIRST", d));
    EXPECT_TRUE(vlSmartTextToDate(u"FRIDAY", d));
    if (loc == TSystemLocale::Turkish) EXPECT_TRUE(vlSmartTextToDate(u"FİRST", d));
  }
}

TEST_F(LocaleFixture, SmartWordBoundaries) {
  vlNowFunction = &SettableNow;
  struct Case { TDateTime Now; const char16_t* Text; TDateTime Want; } cases[] = {
      {EncodeDate(2024, 2, 1), u"eom", EncodeDate(2024, 2, 29)},
      {EncodeDate(2023, 2, 28), u"eom", EncodeDate(2023, 2, 28)},
      {EncodeDate(2100, 2, 3), u"eom", EncodeDate(2100, 2, 28)},
      {EncodeDate(2000, 2, 3), u"eom", EncodeDate(2000, 2, 29)},
      {EncodeDate(2024, 2, 29), u"bom", EncodeDate(2024, 2, 1)},
      {EncodeDate(2024, 3, 3), u"first", EncodeDate(2024, 2, 26)},  // a Sunday, weeks from Monday
      {EncodeDate(2024, 3, 3), u"seventh", EncodeDate(2024, 3, 3)},
      {EncodeDate(2024, 2, 26), u"first", EncodeDate(2024, 2, 26)},
      {EncodeDate(2024, 2, 26), u"seventh", EncodeDate(2024, 3, 3)},
      {EncodeDate(9999, 12, 31), u"tomorrow", vlNullDate},
  };
  Use(TSystemLocale::Turkish);
  for (const Case& c : cases) {
    gNow = c.Now;
    EXPECT_EQ(c.Want, vlTextToDateTime(c.Text, false)) << int(&c - cases);
  }
}

TEST_F(LocaleFixture, WeekNumbersAtTheEndOfTheYear) {
  // Against a plain count: rule 3 from Monday is the ISO week.
  for (Integer y = 1990; y <= 2040; ++y) {
    for (TDateTime day : {EncodeDate(y, 12, 31), EncodeDate(y, 12, 28), EncodeDate(y, 1, 1), EncodeDate(y, 1, 4)}) {
      TDateTime thursday = day - (DayOfWeek(day) + 5) % 7 + 3;
      Word ty, tm, td;
      DecodeDate(thursday, ty, tm, td);
      Cardinal iso = Cardinal(Integer(thursday - EncodeDate(ty, 1, 1)) / 7 + 1);
      EXPECT_EQ(iso, vlGetWeekNumber(1, fwyFirstFourDays, day)) << y;
    }
    for (Integer s = 0; s < 7; ++s)
      for (Integer r = 1; r <= 3; ++r) {
        Cardinal w = vlGetWeekNumber(s, r, EncodeDate(y, 12, 31));
        EXPECT_TRUE(w == 1 || (w >= 52 && w <= 54)) << y << " " << s << " " << r << " " << w;
      }
  }
}

// A listener that, when told, removes and frees another and adds a third.
class MeddlingListener final : public IvlFormatControllerListener, public IvlFormatControllerTimeListener {
 public:
  HRESULT QueryInterface(const TGUID&, void**) override { return E_NOINTERFACE; }
  Integer _AddRef() override { return -1; }
  Integer _Release() override { return -1; }
  void FormatChanged() override { Meddle(); }
  void TimeChanged() override { Meddle(); }
  void Meddle() {
    ++Count;
    TvlFormatController* fc = vlFormatController();
    if (Victim) {
      fc->RemoveListener(Victim);
      delete Victim;
      Victim = nullptr;
    }
    if (Newcomer) fc->AddListener(Newcomer);
    if (RemoveSelf) fc->RemoveListener(this);
  }
  MeddlingListener* Victim = nullptr;
  IvlFormatControllerListener* Newcomer = nullptr;
  Boolean RemoveSelf = false;
  Integer Count = 0;
};

TEST_F(LocaleFixture, ListenersAddedAndRemovedWhileBeingTold) {
  TvlFormatController* fc = vlFormatController();
  const Integer base = fc->ListenerCount();
  for (Boolean timeChange : {false, true}) {
    MeddlingListener first;
    auto* second = new MeddlingListener;
    CountingListener third;
    first.Victim = second;
    first.Newcomer = &third;
    first.RemoveSelf = true;
    fc->AddListener(&first);
    fc->AddListener(second);
    if (timeChange)
      win::SendMessageW(fc->Window(), win::WM_TIMECHANGE, 0, 0);
    else
      fc->RegionalSettingsChanged();
    EXPECT_EQ(1, first.Count);
    EXPECT_EQ(base + 1, fc->ListenerCount());
    fc->RemoveListener(&third);
    EXPECT_EQ(base, fc->ListenerCount());
    EXPECT_EQ(base > 0, fc->Window() != nullptr);
  }
}
