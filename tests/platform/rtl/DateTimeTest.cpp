#include "platform/rtl/DateTime.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Locale.h"

namespace {

const TFormatSettings& Turkish() {
  static const TFormatSettings fs = TFormatSettings::Create(LOCALE_TURKISH);
  return fs;
}

const TFormatSettings& English() {
  static const TFormatSettings fs = TFormatSettings::Create(LOCALE_ENGLISH_US);
  return fs;
}

std::string Narrow(const String& S) {
  std::string out;
  for (Char c : S) out += c < 0x80 ? static_cast<char>(c) : '?';
  return out;
}

// The year a one- or two-digit year stands for with the default century window.
int WindowYear(int TwoDigits) {
  int base = CurrentYear() - DefaultTwoDigitYearCenturyWindow;
  int y = TwoDigits + base / 100 * 100;
  return y < base ? y + 100 : y;
}

TEST(DateTimeTest, EncodeDateBounds) {
  struct TCase {
    Word Y, M, D;
    bool Valid;
    double Expected;
  };
  const TCase cases[] = {
      {1899, 12, 30, true, 0},        {1900, 1, 1, true, 2},         {2000, 1, 1, true, 36526},
      {1899, 1, 1, true, -363},       {1, 1, 1, true, -693593},      {9999, 12, 31, true, 2958465},
      {2020, 2, 29, true, 43890},     {2000, 2, 29, true, 36585},    {2019, 2, 29, false, 0},
      {1900, 2, 29, false, 0},        {0, 1, 1, false, 0},           {10000, 1, 1, false, 0},
      {2020, 0, 1, false, 0},         {2020, 13, 1, false, 0},       {2020, 1, 0, false, 0},
      {2020, 4, 31, false, 0},        {2020, 12, 32, false, 0},
  };
  for (const TCase& c : cases) {
    TDateTime d = -1;
    EXPECT_EQ(TryEncodeDate(c.Y, c.M, c.D, d), c.Valid) << c.Y << "-" << c.M << "-" << c.D;
    if (c.Valid) {
      EXPECT_EQ(d, c.Expected) << c.Y << "-" << c.M << "-" << c.D;
      EXPECT_EQ(EncodeDate(c.Y, c.M, c.D), c.Expected);
    } else {
      try {
        EncodeDate(c.Y, c.M, c.D);
        ADD_FAILURE() << "no exception for " << c.Y << "-" << c.M << "-" << c.D;
      } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), u"Invalid argument to date encode");
      }
    }
  }
}

TEST(DateTimeTest, EncodeTimeBounds) {
  TDateTime t;
  EXPECT_TRUE(TryEncodeTime(12, 0, 0, 0, t));
  EXPECT_EQ(t, 0.5);
  EXPECT_TRUE(TryEncodeTime(23, 59, 59, 999, t));
  EXPECT_LT(t, 1.0);
  EXPECT_FALSE(TryEncodeTime(24, 0, 0, 0, t));
  EXPECT_FALSE(TryEncodeTime(0, 60, 0, 0, t));
  EXPECT_FALSE(TryEncodeTime(0, 0, 60, 0, t));
  EXPECT_FALSE(TryEncodeTime(0, 0, 0, 1000, t));
  try {
    EncodeTime(25, 0, 0, 0);
    ADD_FAILURE();
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), u"Invalid argument to time encode");
  }
  EXPECT_THROW(EncodeDateTime(2020, 2, 30, 0, 0, 0, 0), EConvertError);
  EXPECT_THROW(EncodeDateTime(2020, 2, 1, 0, 0, 0, 1000), EConvertError);
  // Before 1899-12-30 the time counts away from zero.
  EXPECT_EQ(EncodeDateTime(1899, 12, 29, 6, 0, 0, 0), -1.25);
}

TEST(DateTimeTest, DecodeRoundTripsEveryFewDaysOverTheWholeRange) {
  Word expectedDow = DayOfWeek(EncodeDate(1, 1, 1));
  for (Integer d = -693593; d <= 2958465; d += 97) {
    Word y, m, day, dow;
    bool leap = DecodeDateFully(d, y, m, day, dow);
    TDateTime back;
    ASSERT_TRUE(TryEncodeDate(y, m, day, back)) << d;
    ASSERT_EQ(back, d);
    ASSERT_EQ(leap, IsLeapYear(y));
    ASSERT_EQ(dow, DayOfWeek(d));
    ASSERT_EQ(dow, expectedDow) << d;
    expectedDow = static_cast<Word>((expectedDow - 1 + 97) % 7 + 1);
  }
}

TEST(DateTimeTest, DecodeNegativeAndNullDates) {
  Word y, m, d, h, n, s, ms;
  DecodeDateTime(-1.25, y, m, d, h, n, s, ms);
  EXPECT_EQ(y * 10000 + m * 100 + d, 18991229);
  EXPECT_EQ(h, 6);
  // -0.5 is noon of the zero day, like +0.5.
  DecodeDateTime(-0.5, y, m, d, h, n, s, ms);
  EXPECT_EQ(y * 10000 + m * 100 + d, 18991230);
  EXPECT_EQ(h, 12);
  // The null date lies before year 1: it decodes to zeros.
  DecodeDate(-700000, y, m, d);
  EXPECT_EQ(y + m + d, 0);
  EXPECT_EQ(FormatDateTime(u"dd.mm.yyyy", -700000, Turkish()), u"00.00.0000");
  // Values no date can hold still decode without fault.
  DecodeDate(NAN, y, m, d);
  EXPECT_EQ(y * 10000 + m * 100 + d, 18991230);
  DecodeDate(1e300, y, m, d);
  DecodeDate(-1e300, y, m, d);
  EXPECT_EQ(y + m + d, 0);
  EXPECT_FALSE(DateTimeToStr(HUGE_VAL, Turkish()).empty());
}

TEST(DateTimeTest, DecodeTimeRoundsToTheMillisecond) {
  Word h, n, s, ms;
  DecodeTime(EncodeTime(23, 59, 59, 999), h, n, s, ms);
  EXPECT_EQ(h * 10000000 + n * 100000 + s * 1000 + ms, 235959999);
  // Just below midnight rounds up into the next day.
  Word y, m, d;
  DecodeDateTime(1.0 - 1e-10, y, m, d, h, n, s, ms);
  EXPECT_EQ(d, 31);
  EXPECT_EQ(h + n + s + ms, 0);
}

TEST(DateTimeTest, DayOfWeekStartsOnSunday) {
  struct TCase {
    Word Y, M, D, Dow;
  };
  const TCase cases[] = {{1899, 12, 30, 7}, {1899, 12, 31, 1}, {1900, 1, 1, 2},  {2000, 1, 1, 7},
                         {2024, 2, 9, 6},   {2024, 2, 29, 5},  {1, 1, 1, 2},     {9999, 12, 31, 6},
                         {1899, 1, 1, 1}};
  for (const TCase& c : cases) {
    EXPECT_EQ(DayOfWeek(EncodeDateTime(c.Y, c.M, c.D, 18, 0, 0, 0)), c.Dow) << c.Y << "-" << c.M << "-" << c.D;
  }
  EXPECT_EQ(DayOfWeek(-1.25), 6);  // 1899-12-29, a Friday
}

TEST(DateTimeTest, LeapYearsAndMonthLengths) {
  EXPECT_TRUE(IsLeapYear(2000));
  EXPECT_TRUE(IsLeapYear(2024));
  EXPECT_FALSE(IsLeapYear(1900));
  EXPECT_FALSE(IsLeapYear(2023));
  EXPECT_EQ(DaysInAMonth(2024, 2), 29);
  EXPECT_EQ(DaysInAMonth(2023, 2), 28);
  EXPECT_EQ(DaysInAMonth(2023, 4), 30);
  EXPECT_EQ(DaysInAMonth(2023, 13), 0);
  EXPECT_EQ(DaysInMonth(EncodeDate(2024, 2, 10)), 29);
}

TEST(DateTimeTest, IncMonthCutsTheDayAndKeepsTheTime) {
  struct TCase {
    Word Y, M, D;
    Integer By;
    Word EY, EM, ED;
  };
  const TCase cases[] = {
      {2024, 1, 31, 1, 2024, 2, 29},   {2023, 1, 31, 1, 2023, 2, 28},  {2024, 3, 31, -1, 2024, 2, 29},
      {2024, 12, 15, 1, 2025, 1, 15},  {2024, 1, 15, -1, 2023, 12, 15}, {2024, 1, 15, -13, 2022, 12, 15},
      {2024, 5, 31, 24, 2026, 5, 31},  {2024, 5, 31, 0, 2024, 5, 31},   {1899, 12, 30, -1, 1899, 11, 30},
  };
  for (const TCase& c : cases) {
    TDateTime in = EncodeDateTime(c.Y, c.M, c.D, 18, 0, 0, 0);
    TDateTime out = IncMonth(in, c.By);
    EXPECT_EQ(out, EncodeDateTime(c.EY, c.EM, c.ED, 18, 0, 0, 0)) << c.Y << "-" << c.M << "-" << c.D << " " << c.By;
  }
  EXPECT_THROW(IncMonth(EncodeDate(9999, 12, 1), 1), EConvertError);
  EXPECT_THROW(IncMonth(EncodeDate(1, 1, 1), -1), EConvertError);
  EXPECT_THROW(IncMonth(EncodeDate(2000, 1, 1), MaxInt), EConvertError);
  EXPECT_THROW(IncMonth(EncodeDate(2000, 1, 1), -MaxInt - 1), EConvertError);
}

TEST(DateTimeTest, ReplaceDateAndTime) {
  TDateTime dt = EncodeDateTime(2024, 2, 9, 14, 0, 0, 0);
  ReplaceTime(dt, 0.25);
  EXPECT_EQ(dt, EncodeDateTime(2024, 2, 9, 6, 0, 0, 0));
  ReplaceDate(dt, EncodeDate(1899, 12, 29));
  EXPECT_EQ(dt, -1.25);
}

TEST(DateTimeTest, TimeStamps) {
  TTimeStamp ts = DateTimeToTimeStamp(0);
  EXPECT_EQ(ts.Date, DateDelta);
  EXPECT_EQ(ts.Time, 0);
  ts = DateTimeToTimeStamp(-1.25);
  EXPECT_EQ(ts.Date, DateDelta - 1);
  EXPECT_EQ(ts.Time, 6 * 3600000);
  EXPECT_EQ(TimeStampToDateTime(ts), -1.25);
  EXPECT_EQ(TimeStampToDateTime(DateTimeToTimeStamp(36526.75)), 36526.75);
  EXPECT_EQ(TimeStampToMSecs(MSecsToTimeStamp(123456789012)), 123456789012);
  try {
    TimeStampToDateTime(TTimeStamp{-1, 1});
    ADD_FAILURE();
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), u"'1.-1' is not a valid timestamp");
  }
  EXPECT_THROW(TimeStampToDateTime(TTimeStamp{0, 0}), EConvertError);
}

TEST(DateTimeTest, ZeroDateTimeInTurkish) {
  EXPECT_EQ(DateTimeToStr(0, Turkish()), u"30.12.1899");
  EXPECT_EQ(DateTimeToStr(0.5, Turkish()), u"30.12.1899 12:00:00");
  EXPECT_EQ(DateToStr(0.5, Turkish()), u"30.12.1899");
  EXPECT_EQ(TimeToStr(0, Turkish()), u"00:00:00");
  EXPECT_EQ(DateTimeToStr(-1.25, Turkish()), u"29.12.1899 06:00:00");
  EXPECT_EQ(DateTimeToStr(0.5, English()), u"12/30/1899 12:00:00 PM");
  EXPECT_EQ(DateTimeToStr(0, English()), u"12/30/1899");
}

TEST(DateTimeTest, ProcessWideSettingsFollowTheLocale) {
  TSystemLocale saved = SystemLocale();
  SetSystemLocale(TSystemLocale::Turkish);
  EXPECT_EQ(DateTimeToStr(0), u"30.12.1899");
  SetSystemLocale(TSystemLocale::EnglishUS);
  EXPECT_EQ(DateTimeToStr(0), u"12/30/1899");
  EXPECT_EQ(StrToDate(u"2/9/2024"), EncodeDate(2024, 2, 9));
  SetSystemLocale(saved);
}

struct TFormatCase {
  const char16_t* Format;
  const char16_t* Turkish;
  const char16_t* English;
};

TEST(DateTimeTest, FormatDateTimeLetters) {
  // Friday, 9 February 2024, 14:05:07.045.
  const TDateTime dt = EncodeDateTime(2024, 2, 9, 14, 5, 7, 45);
  const TFormatCase cases[] = {
      {u"d/m/yy", u"9.2.24", u"9/2/24"},
      {u"dd/mm/yyyy", u"09.02.2024", u"09/02/2024"},
      {u"y yyy", u"24 2024", u"24 2024"},
      {u"ddd dddd", u"Cum Cuma", u"Fri Friday"},
      {u"mmm mmmm", u"Şub Şubat", u"Feb February"},
      {u"ddddd", u"09.02.2024", u"2/9/2024"},
      {u"dddddd", u"9 Şubat 2024 Cuma", u"Friday, February 9, 2024"},
      {u"c", u"09.02.2024 14:05:07", u"2/9/2024 2:05:07 PM"},
      {u"", u"09.02.2024 14:05:07", u"2/9/2024 2:05:07 PM"},
      {u"t", u"14:05", u"2:05 PM"},
      {u"tt", u"14:05:07", u"2:05:07 PM"},
      {u"h:n:s.z", u"14:5:7.45", u"14:5:7.45"},
      {u"hh:nn:ss.zzz", u"14:05:07.045", u"14:05:07.045"},
      {u"hhh:nnn:sss.zzzz", u"14:05:07.045", u"14:05:07.045"},
      // m after an hour is minutes; elsewhere it is the month.
      {u"h:mm", u"14:05", u"14:05"},
      {u"hh 'x' mm", u"14 x 05", u"14 x 05"},
      {u"mm hh", u"02 14", u"02 14"},
      {u"hh:nn mm", u"14:05 02", u"14:05 02"},
      {u"h:nn am/pm", u"2:05 pm", u"2:05 pm"},
      {u"h:nn AM/PM", u"2:05 PM", u"2:05 PM"},
      {u"h:nn a/p", u"2:05 p", u"2:05 p"},
      {u"h:nn ampm", u"2:05 ÖS", u"2:05 PM"},
      {u"aaa aaaa", u"Cum Cuma", u"Fri Friday"},
      {u"'d m' \"y\" d", u"d m y 9", u"d m y 9"},
      {u"'unclosed d", u"unclosed d", u"unclosed d"},
      {u"yyyy/mm/dd hh:nn", u"2024.02.09 14:05", u"2024/02/09 14:05"},
      {u"x-b", u"x-b", u"x-b"},
      {u"gg yyyy", u" 2024", u" 2024"},
  };
  for (const TFormatCase& c : cases) {
    EXPECT_EQ(FormatDateTime(c.Format, dt, Turkish()), String(c.Turkish)) << Narrow(c.Format);
    EXPECT_EQ(FormatDateTime(c.Format, dt, English()), String(c.English)) << Narrow(c.Format);
  }
}

TEST(DateTimeTest, TwelveHourClock) {
  struct TCase {
    Word Hour;
    const char16_t* Expected;
  };
  const TCase cases[] = {{0, u"12:30 AM"}, {11, u"11:30 AM"}, {12, u"12:30 PM"}, {23, u"11:30 PM"}};
  for (const TCase& c : cases) {
    EXPECT_EQ(FormatDateTime(u"hh:nn AM/PM", EncodeTime(c.Hour, 30, 0, 0), English()), String(c.Expected));
  }
  EXPECT_EQ(FormatDateTime(u"h:nn ampm", EncodeTime(0, 30, 0, 0), Turkish()), u"12:30 ÖÖ");
  // A marker in quotes does not switch to the 12-hour clock.
  EXPECT_EQ(FormatDateTime(u"hh 'am/pm'", EncodeTime(15, 0, 0, 0), English()), u"15 am/pm");
}

TEST(DateTimeTest, NestedFormatsStopAtTwoLevels) {
  TFormatSettings fs = Turkish();
  fs.ShortDateFormat = u"ddddd c";  // refers to itself
  EXPECT_EQ(FormatDateTime(u"ddddd", EncodeDate(2024, 2, 9), fs), u" ");
}

struct TReadCase {
  const char16_t* Text;
  bool Valid;
  TDateTime Expected;
};

TEST(DateTimeTest, StrToDateTurkish) {
  const TDateTime thisYear = EncodeDate(CurrentYear(), 2, 9);
  const TReadCase cases[] = {
      {u"", false, 0},
      {u" ", false, 0},
      {u"09.02.2024", true, EncodeDate(2024, 2, 9)},
      {u"9.2.2024", true, EncodeDate(2024, 2, 9)},
      {u" 9 . 2 . 2024 ", true, EncodeDate(2024, 2, 9)},
      {u"9.2.2024.", true, EncodeDate(2024, 2, 9)},
      {u"9.2", true, thisYear},
      {u"01.01.1899", true, -363},
      {u"30.12.1899", true, 0},
      {u"31.12.9999", true, 2958465},
      {u"1.1.999", true, EncodeDate(999, 1, 1)},
      {u"1.1.30", true, EncodeDate(static_cast<Word>(WindowYear(30)), 1, 1)},
      {u"1.1.99", true, EncodeDate(static_cast<Word>(WindowYear(99)), 1, 1)},
      {u"1.1.0", true, EncodeDate(static_cast<Word>(WindowYear(0)), 1, 1)},
      {u"31.02.2020", false, 0},
      {u"29.02.2021", false, 0},
      {u"0.1.2020", false, 0},
      {u"1.13.2020", false, 0},
      {u"1.1.0000", false, 0},
      {u"1.1.10000", false, 0},
      {u"01.01.20201", false, 0},
      {u"99999999999999999999.1.1", false, 0},
      {u"1.1.2020.1", false, 0},
      {u"1.1.2020 x", false, 0},
      {u"ab.cd.efgh", false, 0},
      {u"1/1/2020", false, 0},
      {u"1..2020", false, 0},
      {u"1.", false, 0},
      {u"-1.1.2020", false, 0},
      {u"١.١.٢٠٢٠", false, 0},
  };
  for (const TReadCase& c : cases) {
    TDateTime v = -1;
    EXPECT_EQ(TryStrToDate(c.Text, v, Turkish()), c.Valid) << Narrow(c.Text);
    if (c.Valid) {
      EXPECT_EQ(v, c.Expected) << Narrow(c.Text);
    }
    EXPECT_EQ(StrToDateDef(c.Text, 12345, Turkish()), c.Valid ? c.Expected : 12345) << Narrow(c.Text);
  }
}

TEST(DateTimeTest, StrToDateFollowsTheOrderOfTheShortDate) {
  TDateTime v;
  EXPECT_TRUE(TryStrToDate(u"2/9/2024", v, English()));
  EXPECT_EQ(v, EncodeDate(2024, 2, 9));
  EXPECT_FALSE(TryStrToDate(u"13/1/2024", v, English()));
  TFormatSettings ymd = Turkish();
  ymd.ShortDateFormat = u"yyyy-MM-dd";
  ymd.DateSeparator = u'-';
  EXPECT_TRUE(TryStrToDate(u"2024-02-09", v, ymd));
  EXPECT_EQ(v, EncodeDate(2024, 2, 9));
  // A zero century window places two-digit years in the current century.
  TFormatSettings noWindow = Turkish();
  noWindow.TwoDigitYearCenturyWindow = 0;
  EXPECT_TRUE(TryStrToDate(u"1.1.99", v, noWindow));
  EXPECT_EQ(v, EncodeDate(static_cast<Word>(CurrentYear() / 100 * 100 + 99), 1, 1));
}

TEST(DateTimeTest, StrToTime) {
  const TReadCase turkish[] = {
      {u"14:05", true, EncodeTime(14, 5, 0, 0)},
      {u"14:05:07", true, EncodeTime(14, 5, 7, 0)},
      {u" 14 : 05 : 07 ", true, EncodeTime(14, 5, 7, 0)},
      {u"14:05:07,45", true, EncodeTime(14, 5, 7, 45)},
      {u"14", true, EncodeTime(14, 0, 0, 0)},
      {u"ÖS 2:05", true, EncodeTime(14, 5, 0, 0)},
      {u"2:05 ös", true, EncodeTime(14, 5, 0, 0)},
      {u"2:05 PM", true, EncodeTime(14, 5, 0, 0)},
      {u"12:00 ÖÖ", true, 0},
      {u"", false, 0},
      {u"  ", false, 0},
      {u"24:00", false, 0},
      {u"12:60", false, 0},
      {u"14:", false, 0},
      {u"14:05:", false, 0},
      {u"0:30 ÖÖ", false, 0},
      {u"13:00 ÖS", false, 0},
      {u"14.05", false, 0},
      {u"14:05 x", false, 0},
      {u"99999:1", false, 0},
  };
  for (const TReadCase& c : turkish) {
    TDateTime v = -1;
    EXPECT_EQ(TryStrToTime(c.Text, v, Turkish()), c.Valid) << Narrow(c.Text);
    if (c.Valid) {
      EXPECT_EQ(v, c.Expected) << Narrow(c.Text);
    }
  }
  TDateTime v;
  EXPECT_TRUE(TryStrToTime(u"2:05:07 pm", v, English()));
  EXPECT_EQ(v, EncodeTime(14, 5, 7, 0));
  EXPECT_EQ(StrToTimeDef(u"bad", 0.25, English()), 0.25);
}

TEST(DateTimeTest, StrToDateTime) {
  const TReadCase cases[] = {
      {u"09.02.2024 14:05", true, EncodeDateTime(2024, 2, 9, 14, 5, 0, 0)},
      {u"09.02.2024 14:05:07", true, EncodeDateTime(2024, 2, 9, 14, 5, 7, 0)},
      {u"09.02.2024", true, EncodeDate(2024, 2, 9)},
      {u"29.12.1899 06:00", true, -1.25},
      {u"14:05", true, EncodeTime(14, 5, 0, 0)},
      {u"30.12.1899 12:00:00", true, 0.5},
      {u"09.02.2024 25:00", false, 0},
      {u"09.02.2024 14:05 x", false, 0},
      {u"", false, 0},
      {u"x", false, 0},
  };
  for (const TReadCase& c : cases) {
    TDateTime v = -1;
    EXPECT_EQ(TryStrToDateTime(c.Text, v, Turkish()), c.Valid) << Narrow(c.Text);
    if (c.Valid) {
      EXPECT_EQ(v, c.Expected) << Narrow(c.Text);
    }
  }
  // What is written can be read back.
  const TDateTime dt = EncodeDateTime(2024, 2, 9, 14, 5, 7, 0);
  EXPECT_EQ(StrToDateTime(DateTimeToStr(dt, English()), English()), dt);
  EXPECT_EQ(StrToDateTime(DateTimeToStr(dt, Turkish()), Turkish()), dt);
  EXPECT_EQ(StrToDateTimeDef(u"?", 7, Turkish()), 7);
}

TEST(DateTimeTest, ReadingErrorsNameTheText) {
  struct TCase {
    TDateTime (*Read)(const String&, const TFormatSettings&);
    const char16_t* Message;
  };
  const TCase cases[] = {
      {&StrToDate, u"'31.02.2020' is not a valid date"},
      {&StrToTime, u"'31.02.2020' is not a valid time"},
      {&StrToDateTime, u"'31.02.2020' is not a valid date and time"},
  };
  for (const TCase& c : cases) {
    try {
      c.Read(u"31.02.2020", Turkish());
      ADD_FAILURE() << Narrow(c.Message);
    } catch (const EConvertError& e) {
      EXPECT_EQ(e.Message(), String(c.Message));
    }
  }
}

TEST(DateTimeTest, ClockIsConsistent) {
  TDateTime now = Now();
  TDateTime today = Date();
  EXPECT_EQ(today, std::trunc(today));
  EXPECT_GE(now, today);
  EXPECT_LT(now - today, 1.0 + 1.0 / SecsPerDay);  // allows the day to turn during the test
  EXPECT_GE(Time(), 0.0);
  EXPECT_LT(Time(), 1.0);
  EXPECT_GE(CurrentYear(), 2024);
}

TEST(DateTimeTest, TickCountWraps) {
  EXPECT_EQ(TickCount32(0x100000005ull), 5u);
  EXPECT_EQ(TickCount32(0xFFFFFFFFull), 0xFFFFFFFFu);
  EXPECT_EQ(TickDiff(0xFFFFFFF0u, 0x10u), 0x20u);
  EXPECT_EQ(TickDiff(100u, 250u), 150u);

  // Started just below the wrap, the 32-bit counter passes zero while the
  // 64-bit one keeps counting; the 32-bit difference stays right.
  const UInt64 saved = GetTickCount64();
  SetTickCount64(0xFFFFFFFFull - 100);
  const UInt64 before = GetTickCount64();
  Sleep(200);
  const UInt64 after = GetTickCount64();
  EXPECT_GT(after, 0xFFFFFFFFull);
  EXPECT_GE(after - before, 200u);
  EXPECT_EQ(TickDiff(TickCount32(before), TickCount32(after)), after - before);
  if (before <= 0xFFFFFFFFull) {
    EXPECT_LT(TickCount32(after), TickCount32(before));
  }
  SetTickCount64(saved);
}

TEST(DateTimeTest, SleepZeroYields) {
  UInt64 start = GetTickCount64();
  Sleep(0);
  EXPECT_LT(GetTickCount64() - start, 1000u);
}

}  // namespace
