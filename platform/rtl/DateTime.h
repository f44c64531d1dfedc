// Dates and times: TDateTime (days since 1899-12-30, the time of day as the
// fraction), encoding and decoding, the clock, formatting and reading text in
// the locale's formats, and the millisecond tick counter.
#pragma once

#include "platform/rtl/Types.h"

struct TFormatSettings;

constexpr Integer HoursPerDay = 24;
constexpr Integer MinsPerHour = 60;
constexpr Integer SecsPerMin = 60;
constexpr Integer MSecsPerSec = 1000;
constexpr Integer MinsPerDay = HoursPerDay * MinsPerHour;
constexpr Integer SecsPerDay = MinsPerDay * SecsPerMin;
constexpr Integer MSecsPerDay = SecsPerDay * MSecsPerSec;
// Days from 0001-01-01 to 1899-12-31: the TDateTime of day N is the time-stamp
// day N + DateDelta.
constexpr Integer DateDelta = 693594;
// Days from 1899-12-30 to 1970-01-01.
constexpr Integer UnixDateDelta = 25569;

// A moment as whole days since 0001-01-01 (day 1) and milliseconds of the day.
struct TTimeStamp {
  Integer Time = 0;
  Integer Date = 0;
};

bool IsLeapYear(Word Year);
// Days in a month of a year (1..12); 0 for a month outside 1..12.
Word DaysInAMonth(Word Year, Word Month);
// Days in the month of a date.
Word DaysInMonth(TDateTime DateTime);

// Encoding: the Try forms answer False for a value out of range; the others
// raise EConvertError ("Invalid argument to date encode" / "... time encode").
// Years run 1..9999; times are below 24:00:00.000.
bool TryEncodeDate(Word Year, Word Month, Word Day, TDateTime& Date);
TDateTime EncodeDate(Word Year, Word Month, Word Day);
bool TryEncodeTime(Word Hour, Word Min, Word Sec, Word MSec, TDateTime& Time);
TDateTime EncodeTime(Word Hour, Word Min, Word Sec, Word MSec);
bool TryEncodeDateTime(Word Year, Word Month, Word Day, Word Hour, Word Min, Word Sec, Word MSec,
                       TDateTime& Value);
TDateTime EncodeDateTime(Word Year, Word Month, Word Day, Word Hour, Word Min, Word Sec, Word MSec);

// Decoding. A date before 0001-01-01 decodes to 0/0/0. Before 1899-12-30 the
// fraction still counts forward in the day: -1.25 is 1899-12-29 06:00.
void DecodeDate(TDateTime DateTime, Word& Year, Word& Month, Word& Day);
// Also the day of the week (1 = Sunday); answers whether the year is a leap year.
bool DecodeDateFully(TDateTime DateTime, Word& Year, Word& Month, Word& Day, Word& DOW);
void DecodeTime(TDateTime DateTime, Word& Hour, Word& Min, Word& Sec, Word& MSec);
void DecodeDateTime(TDateTime DateTime, Word& Year, Word& Month, Word& Day, Word& Hour, Word& Min, Word& Sec,
                    Word& MSec);
// 1 = Sunday ... 7 = Saturday.
Word DayOfWeek(TDateTime DateTime);

TTimeStamp DateTimeToTimeStamp(TDateTime DateTime);
// Raises EConvertError for a time stamp with a negative time or a day below 1.
TDateTime TimeStampToDateTime(const TTimeStamp& TimeStamp);
TTimeStamp MSecsToTimeStamp(Int64 MSecs);
Int64 TimeStampToMSecs(const TTimeStamp& TimeStamp);

// The month moved by NumberOfMonths, the day kept or cut to the month's last,
// the time kept. EConvertError when the year leaves 1..9999.
TDateTime IncMonth(TDateTime DateTime, Integer NumberOfMonths = 1);
void IncAMonth(Word& Year, Word& Month, Word& Day, Integer NumberOfMonths = 1);
// Keeps the date of DateTime and takes the time of NewTime, and the reverse.
void ReplaceTime(TDateTime& DateTime, TDateTime NewTime);
void ReplaceDate(TDateTime& DateTime, TDateTime NewDate);

// The machine's local clock.
TDateTime Now();
TDateTime Date();
TDateTime Time();
Word CurrentYear();

// Formatting. Format letters (either case): c, d, dd, ddd, dddd, ddddd (short
// date), dddddd (long date), m, mm (after h or hh: minutes), mmm, mmmm, yy,
// yyyy, h, hh, n, nn, s, ss, z, zzz, t (short time), tt (long time), am/pm,
// a/p, ampm, g (era name), "/" and ":" (the locale separators), text in single
// or double quotes. An empty format means "c".
String FormatDateTime(const String& Format, TDateTime DateTime);
String FormatDateTime(const String& Format, TDateTime DateTime, const TFormatSettings& Settings);
void DateTimeToString(String& Result, const String& Format, TDateTime DateTime);
void DateTimeToString(String& Result, const String& Format, TDateTime DateTime, const TFormatSettings& Settings);
// The short date, and the long time unless it is midnight.
String DateTimeToStr(TDateTime DateTime);
String DateTimeToStr(TDateTime DateTime, const TFormatSettings& Settings);
String DateToStr(TDateTime DateTime);
String DateToStr(TDateTime DateTime, const TFormatSettings& Settings);
String TimeToStr(TDateTime DateTime);
String TimeToStr(TDateTime DateTime, const TFormatSettings& Settings);

// Reading text. A date is two or three numbers separated by the date
// separator, in the order of the short date format (the year may be left out:
// the current year); a year of one or two digits is placed by the century
// window. A time is hours, then optionally minutes, seconds and (after the
// decimal separator) milliseconds, separated by the time separator, with an
// optional AM/PM string (the locale's or "AM"/"PM") before or after it.
// A date and time is a date, then optionally a time. Blanks may surround the
// numbers and separators; nothing else may follow. Failures raise
// EConvertError "'%s' is not a valid date" (time, date and time).
TDateTime StrToDate(const String& S);
TDateTime StrToDate(const String& S, const TFormatSettings& Settings);
TDateTime StrToDateDef(const String& S, TDateTime Default);
TDateTime StrToDateDef(const String& S, TDateTime Default, const TFormatSettings& Settings);
bool TryStrToDate(const String& S, TDateTime& Value);
bool TryStrToDate(const String& S, TDateTime& Value, const TFormatSettings& Settings);
TDateTime StrToTime(const String& S);
TDateTime StrToTime(const String& S, const TFormatSettings& Settings);
TDateTime StrToTimeDef(const String& S, TDateTime Default);
TDateTime StrToTimeDef(const String& S, TDateTime Default, const TFormatSettings& Settings);
bool TryStrToTime(const String& S, TDateTime& Value);
bool TryStrToTime(const String& S, TDateTime& Value, const TFormatSettings& Settings);
TDateTime StrToDateTime(const String& S);
TDateTime StrToDateTime(const String& S, const TFormatSettings& Settings);
TDateTime StrToDateTimeDef(const String& S, TDateTime Default);
TDateTime StrToDateTimeDef(const String& S, TDateTime Default, const TFormatSettings& Settings);
bool TryStrToDateTime(const String& S, TDateTime& Value);
bool TryStrToDateTime(const String& S, TDateTime& Value, const TFormatSettings& Settings);

// The millisecond tick counter: a monotonic count since an arbitrary start.
// The 32-bit count is the low half of the 64-bit one and wraps after about
// 49.7 days; differences of two 32-bit counts are taken in Cardinal.
Cardinal GetTickCount();
UInt64 GetTickCount64();
// The 32-bit tick count that a 64-bit count shows.
constexpr Cardinal TickCount32(UInt64 Ticks) { return static_cast<Cardinal>(Ticks); }
// Milliseconds from Start to Stop of the 32-bit counter, across a wrap.
constexpr Cardinal TickDiff(Cardinal Start, Cardinal Stop) { return Stop - Start; }
// Moves the counter's start so that it reads Ticks now (tests use it to run
// code across the 32-bit wrap).
void SetTickCount64(UInt64 Ticks);

// Suspends the thread for Milliseconds; 0 gives up the rest of the time slice.
void Sleep(Cardinal Milliseconds);

// Appends Value in decimal, zero-padded to MinDigits (date and time pictures).
void AppendZeroPadded(String& Out, unsigned Value, int MinDigits);
