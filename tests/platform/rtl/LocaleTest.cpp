#include "platform/rtl/Locale.h"

#include <gtest/gtest.h>

#include "platform/rtl/Conversions.h"

namespace {

// Runs a test under a chosen system locale and puts the previous one back.
class LocaleTest : public ::testing::Test {
 protected:
  void TearDown() override { SetSystemLocale(Saved); }
  TSystemLocale Saved = SystemLocale();
};

struct TItemCase {
  LCID Locale;
  LCTYPE Item;
  const char16_t* Expected;
};

TEST_F(LocaleTest, LocaleItemsHaveThePlatformValues) {
  const TItemCase cases[] = {
      {LOCALE_TURKISH, LOCALE_SSHORTDATE, u"dd.MM.yyyy"},
      {LOCALE_TURKISH, LOCALE_SLONGDATE, u"d MMMM yyyy dddd"},
      {LOCALE_TURKISH, LOCALE_STIMEFORMAT, u"HH:mm:ss"},
      {LOCALE_TURKISH, LOCALE_SSHORTTIME, u"HH:mm"},
      {LOCALE_TURKISH, LOCALE_S1159, u"ÖÖ"},
      {LOCALE_TURKISH, LOCALE_S2359, u"ÖS"},
      {LOCALE_TURKISH, LOCALE_SDATE, u"."},
      {LOCALE_TURKISH, LOCALE_STIME, u":"},
      {LOCALE_TURKISH, LOCALE_SDECIMAL, u","},
      {LOCALE_TURKISH, LOCALE_STHOUSAND, u"."},
      {LOCALE_TURKISH, LOCALE_SLIST, u";"},
      {LOCALE_TURKISH, LOCALE_IFIRSTDAYOFWEEK, u"0"},
      {LOCALE_TURKISH, LOCALE_IFIRSTWEEKOFYEAR, u"0"},
      {LOCALE_TURKISH, LOCALE_ICALENDARTYPE, u"1"},
      {LOCALE_TURKISH, LOCALE_SCURRENCY, u"TL"},
      {LOCALE_TURKISH, LOCALE_ICURRDIGITS, u"2"},
      {LOCALE_TURKISH, LOCALE_ICURRENCY, u"3"},
      {LOCALE_TURKISH, LOCALE_INEGCURR, u"8"},
      {LOCALE_TURKISH, LOCALE_SYEARMONTH, u"MMMM yyyy"},
      // Day items count from Monday.
      {LOCALE_TURKISH, LOCALE_SDAYNAME1, u"Pazartesi"},
      {LOCALE_TURKISH, LOCALE_SDAYNAME7, u"Pazar"},
      {LOCALE_TURKISH, LOCALE_SABBREVDAYNAME3, u"Çar"},
      {LOCALE_TURKISH, LOCALE_SSHORTESTDAYNAME7, u"Pz"},
      {LOCALE_TURKISH, LOCALE_SMONTHNAME1, u"Ocak"},
      {LOCALE_TURKISH, LOCALE_SMONTHNAME12, u"Aralık"},
      {LOCALE_TURKISH, LOCALE_SABBREVMONTHNAME2, u"Şub"},
      {LOCALE_TURKISH, LOCALE_SABBREVMONTHNAME8, u"Ağu"},
      {LOCALE_TURKISH, LOCALE_IDEFAULTANSICODEPAGE, u"1254"},
      {LOCALE_ENGLISH_US, LOCALE_SSHORTDATE, u"M/d/yyyy"},
      {LOCALE_ENGLISH_US, LOCALE_SLONGDATE, u"dddd, MMMM d, yyyy"},
      {LOCALE_ENGLISH_US, LOCALE_STIMEFORMAT, u"h:mm:ss tt"},
      {LOCALE_ENGLISH_US, LOCALE_S1159, u"AM"},
      {LOCALE_ENGLISH_US, LOCALE_IFIRSTDAYOFWEEK, u"6"},
      {LOCALE_ENGLISH_US, LOCALE_SCURRENCY, u"$"},
      {LOCALE_ENGLISH_US, LOCALE_ICURRENCY, u"0"},
      {LOCALE_ENGLISH_US, LOCALE_INEGCURR, u"0"},
      {LOCALE_ENGLISH_US, LOCALE_SDAYNAME1, u"Monday"},
      {LOCALE_ENGLISH_US, LOCALE_SSHORTESTDAYNAME1, u"Mo"},
      {LOCALE_ENGLISH_US, LOCALE_SABBREVMONTHNAME12, u"Dec"},
      {LOCALE_ENGLISH_US, LOCALE_SYEARMONTH, u"MMMM, yyyy"},
      // Flags or-ed into the item are ignored.
      {LOCALE_TURKISH, LOCALE_SSHORTDATE | LOCALE_NOUSEROVERRIDE, u"dd.MM.yyyy"},
  };
  for (const TItemCase& c : cases) {
    String text;
    EXPECT_TRUE(GetLocaleText(c.Locale, c.Item, text)) << std::hex << c.Locale << " " << c.Item;
    EXPECT_EQ(text, String(c.Expected)) << std::hex << c.Locale << " " << c.Item;
  }
}

TEST_F(LocaleTest, UnknownLocaleOrItemGivesTheDefault) {
  String text = u"untouched";
  EXPECT_FALSE(GetLocaleText(0x0407, LOCALE_SSHORTDATE, text));
  EXPECT_FALSE(GetLocaleText(LOCALE_TURKISH, 0x7777, text));
  EXPECT_EQ(text, u"untouched");
  EXPECT_EQ(GetLocaleStr(0x0407, LOCALE_SDATE, u"/"), u"/");
  EXPECT_EQ(GetLocaleStr(LOCALE_TURKISH, 0x7777, u"x"), u"x");
}

TEST_F(LocaleTest, DefaultLocaleIdsFollowTheSystemLocale) {
  SetSystemLocale(TSystemLocale::EnglishUS);
  EXPECT_EQ(GetLocaleStr(LOCALE_USER_DEFAULT, LOCALE_SDATE), u"/");
  EXPECT_EQ(GetLocaleStr(GetThreadLocale(), LOCALE_SDATE), u"/");
  SetSystemLocale(TSystemLocale::Turkish);
  EXPECT_EQ(GetLocaleStr(LOCALE_SYSTEM_DEFAULT, LOCALE_SDATE), u".");
  EXPECT_EQ(GetLocaleStr(0, LOCALE_SDATE), u".");
}

TEST_F(LocaleTest, CalendarItems) {
  String text;
  Cardinal value = 0;
  ASSERT_TRUE(GetCalendarText(LOCALE_TURKISH, CAL_GREGORIAN, CAL_ITWODIGITYEARMAX | CAL_RETURN_NUMBER, text, &value));
  EXPECT_EQ(value, 2029u);
  EXPECT_EQ(text, u"2029");
  ASSERT_TRUE(GetCalendarText(LOCALE_TURKISH, CAL_GREGORIAN, CAL_SYEARMONTH, text));
  EXPECT_EQ(text, u"MMMM yyyy");
  ASSERT_TRUE(GetCalendarText(LOCALE_ENGLISH_US, CAL_GREGORIAN, CAL_SYEARMONTH, text));
  EXPECT_EQ(text, u"MMMM, yyyy");
  EXPECT_FALSE(GetCalendarText(LOCALE_TURKISH, 3, CAL_SYEARMONTH, text));
  EXPECT_FALSE(GetCalendarText(0x0407, CAL_GREGORIAN, CAL_SYEARMONTH, text));
}

TEST_F(LocaleTest, SwitchingTheLocaleResetsCodePageAndFormatSettings) {
  SetSystemLocale(TSystemLocale::EnglishUS);
  EXPECT_EQ(GetACP(), 1252u);
  EXPECT_STREQ(SystemLocaleICUName(), "en_US");
  EXPECT_EQ(GetUserDefaultLCID(), LOCALE_ENGLISH_US);
  EXPECT_EQ(FormatSettings().DecimalSeparator, u'.');
  EXPECT_EQ(FormatSettings().ShortDateFormat, u"M/d/yyyy");
  EXPECT_EQ(FormatSettings().ShortTimeFormat, u"h:mm AMPM");
  EXPECT_EQ(FormatSettings().LongTimeFormat, u"h:mm:ss AMPM");

  FormatSettings().DecimalSeparator = u'#';  // a program's own change is dropped by the next switch
  SetSystemLocale(TSystemLocale::Turkish);
  EXPECT_EQ(GetACP(), 1254u);
  EXPECT_STREQ(SystemLocaleICUName(), "tr_TR");
  EXPECT_EQ(GetThreadLocale(), LOCALE_TURKISH);
  EXPECT_EQ(FormatSettings().DecimalSeparator, u',');
}

TEST_F(LocaleTest, TurkishFormatSettings) {
  SetSystemLocale(TSystemLocale::EnglishUS);
  // Create reads the locale asked for, whatever the system locale.
  const TFormatSettings fs = TFormatSettings::Create(LOCALE_TURKISH);
  EXPECT_EQ(fs.DecimalSeparator, u',');
  EXPECT_EQ(fs.ThousandSeparator, u'.');
  EXPECT_EQ(fs.DateSeparator, u'.');
  EXPECT_EQ(fs.TimeSeparator, u':');
  EXPECT_EQ(fs.ListSeparator, u';');
  EXPECT_EQ(fs.ShortDateFormat, u"dd.MM.yyyy");
  EXPECT_EQ(fs.LongDateFormat, u"d MMMM yyyy dddd");
  EXPECT_EQ(fs.ShortTimeFormat, u"hh:mm");
  EXPECT_EQ(fs.LongTimeFormat, u"hh:mm:ss");
  EXPECT_EQ(fs.TimeAMString, u"ÖÖ");
  EXPECT_EQ(fs.TimePMString, u"ÖS");
  EXPECT_EQ(fs.CurrencyString, u"TL");
  EXPECT_EQ(fs.CurrencyFormat, 3);
  EXPECT_EQ(fs.NegCurrFormat, 8);
  EXPECT_EQ(fs.CurrencyDecimals, 2);
  EXPECT_EQ(fs.TwoDigitYearCenturyWindow, 50);
  // Names run Sunday first and January first.
  EXPECT_EQ(fs.LongDayNames[0], u"Pazar");
  EXPECT_EQ(fs.LongDayNames[6], u"Cumartesi");
  EXPECT_EQ(fs.ShortDayNames[1], u"Pzt");
  EXPECT_EQ(fs.LongMonthNames[0], u"Ocak");
  EXPECT_EQ(fs.LongMonthNames[11], u"Aralık");
  EXPECT_EQ(fs.ShortMonthNames[1], u"Şub");
  EXPECT_TRUE(fs.EraNames[0].empty());
}

// Formatted by a static initializer of this file, which may run before those
// of the run-time library: the settings are made on first use.
const String gFormattedBeforeMain = FloatToStr(1.5);
const Char gSeparatorBeforeMain = FormatSettings().DecimalSeparator;

TEST_F(LocaleTest, FormatSettingsAreReadyForStaticInitializers) {
  TFormatSettings startup = TFormatSettings::Create(LOCALE_USER_DEFAULT);
  EXPECT_EQ(gSeparatorBeforeMain, startup.DecimalSeparator);
  EXPECT_EQ(gFormattedBeforeMain, String(u"1") + startup.DecimalSeparator + u"5");
}

TEST_F(LocaleTest, TheSettingNamesTheStartupLocale) {
  EXPECT_EQ(SystemLocaleFromSetting("en-US"), TSystemLocale::EnglishUS);
  EXPECT_EQ(SystemLocaleFromSetting("tr-TR"), TSystemLocale::Turkish);
  EXPECT_EQ(SystemLocaleFromSetting(nullptr), TSystemLocale::Turkish);
  EXPECT_EQ(SystemLocaleFromSetting(""), TSystemLocale::Turkish);
  EXPECT_EQ(SystemLocaleFromSetting("de-DE"), TSystemLocale::Turkish);
  EXPECT_EQ(SystemLocaleFromSetting("en-US-extra"), TSystemLocale::Turkish);
}

struct TPictureCase {
  LCID Locale;
  Cardinal Flags;
  const char16_t* Picture;
  const char16_t* Expected;
};

TEST_F(LocaleTest, DatePictures) {
  // Friday, 9 February 2024.
  const TPictureCase cases[] = {
      {LOCALE_TURKISH, 0, u"", u"09.02.2024"},
      {LOCALE_TURKISH, DATE_SHORTDATE, u"", u"09.02.2024"},
      {LOCALE_TURKISH, DATE_LONGDATE, u"", u"9 Şubat 2024 Cuma"},
      {LOCALE_TURKISH, DATE_YEARMONTH, u"", u"Şubat 2024"},
      {LOCALE_TURKISH, 0, u"dd.MM.yyyy", u"09.02.2024"},
      {LOCALE_TURKISH, 0, u"ddd d MMM yy", u"Cum 9 Şub 24"},
      {LOCALE_TURKISH, 0, u"y", u"24"},
      {LOCALE_TURKISH, 0, u"'Gün' d 'd''M' M", u"Gün 9 d'M 2"},
      {LOCALE_TURKISH, 0, u"d''M", u"9'2"},
      {LOCALE_TURKISH, 0, u"'unclosed d", u"unclosed d"},
      {LOCALE_ENGLISH_US, 0, u"", u"2/9/2024"},
      {LOCALE_ENGLISH_US, DATE_LONGDATE, u"", u"Friday, February 9, 2024"},
      {LOCALE_ENGLISH_US, 0, u"MMMM yyyy", u"February 2024"},
  };
  for (const TPictureCase& c : cases) {
    String text;
    EXPECT_TRUE(FormatLocaleDate(c.Locale, c.Flags, 2024, 2, 9, c.Picture, text));
    EXPECT_EQ(text, String(c.Expected));
  }
}

TEST_F(LocaleTest, DatePictureFailures) {
  String text;
  EXPECT_FALSE(FormatLocaleDate(LOCALE_TURKISH, 0, 2023, 2, 29, u"", text));
  EXPECT_FALSE(FormatLocaleDate(LOCALE_TURKISH, 0, 0, 1, 1, u"", text));
  EXPECT_FALSE(FormatLocaleDate(LOCALE_TURKISH, 0, 2024, 13, 1, u"", text));
  EXPECT_FALSE(FormatLocaleDate(LOCALE_TURKISH, DATE_LONGDATE, 2024, 1, 1, u"d", text));
  EXPECT_FALSE(FormatLocaleDate(0x0407, 0, 2024, 1, 1, u"d", text));
}

TEST_F(LocaleTest, TimePictures) {
  struct TCase {
    LCID Locale;
    Cardinal Flags;
    Word Hour;
    const char16_t* Picture;
    const char16_t* Expected;
  };
  const TCase cases[] = {
      {LOCALE_TURKISH, 0, 14, u"", u"14:05:07"},
      {LOCALE_TURKISH, 0, 9, u"", u"09:05:07"},
      {LOCALE_TURKISH, TIME_NOSECONDS, 14, u"", u"14:05"},
      {LOCALE_TURKISH, 0, 14, u"h:mm tt", u"2:05 ÖS"},
      {LOCALE_ENGLISH_US, 0, 14, u"", u"2:05:07 PM"},
      {LOCALE_ENGLISH_US, 0, 0, u"", u"12:05:07 AM"},
      {LOCALE_ENGLISH_US, TIME_NOSECONDS, 14, u"", u"2:05 PM"},
      {LOCALE_ENGLISH_US, TIME_NOMINUTESORSECONDS, 14, u"", u"2 PM"},
      {LOCALE_ENGLISH_US, TIME_NOTIMEMARKER, 14, u"", u"2:05:07"},
      {LOCALE_ENGLISH_US, TIME_FORCE24HOURFORMAT, 14, u"", u"14:05:07"},
      {LOCALE_ENGLISH_US, TIME_NOTIMEMARKER, 9, u"tt hh:mm", u"09:05"},
      {LOCALE_ENGLISH_US, 0, 9, u"t 'at' H", u"A at 9"},
  };
  for (const TCase& c : cases) {
    String text;
    EXPECT_TRUE(FormatLocaleTime(c.Locale, c.Flags, c.Hour, 5, 7, c.Picture, text));
    EXPECT_EQ(text, String(c.Expected)) << c.Hour << " " << c.Flags;
  }
  String text;
  EXPECT_FALSE(FormatLocaleTime(LOCALE_TURKISH, 0, 24, 0, 0, u"", text));
  EXPECT_FALSE(FormatLocaleTime(LOCALE_TURKISH, 0, 1, 60, 0, u"", text));
}

}  // namespace
