// Calendar tables: conversions between TDateTime (a Gregorian day count) and
// a date of one calendar system, with that calendar's sizes, leap rules,
// eras, week numbers, arithmetic and reading of typed numbers and names.
//
// Seven calendars: Gregorian (with its locale variants), Japanese (Meiji to
// Heisei), Taiwan, Korean (Dangi years), Thai (Buddhist years), Hijri (the
// tabular Islamic calendar) and Hebrew. The date utilities (vlDateUtils)
// create the table that matches a calendar identifier; the caller owns it.
//
// Error contract: no operation raises for a date out of range. A date that
// is not a day of the calendar gives MinSupportedDate; results are clamped to
// the supported dates. Only the readings of typed text (GetDayNumber,
// GetMonthNumber, GetYearNumber) raise EConvertError for a text that is
// neither a name, a numeral nor an integer.
#pragma once

#include "lib/foundation/vlClasses.h"
#include "platform/classes/Classes.h"

// A date of a calendar; Era -1 is the table's default era.
struct TvlDate {
  Integer Era{};
  Cardinal Year{};
  Cardinal Month{};
  Cardinal Day{};
};

struct TvlDateTime {
  Integer Era{};
  Cardinal Year{};
  Cardinal Month{};
  Cardinal Day{};
  Byte Hours{};
  Byte Minutes{};
  Byte Seconds{};
  Word Milliseconds{};
};

CL_ENUM(TvlFirstWeekOfYear, Byte, fwySystem, fwyJan1, fwyFirstFullWeek, fwyFirstFourDays)
CL_ENUM(TvlCalendarAlgorithmType, Byte, catUnknown, catSolarCalendar, catLunarCalendar, catLunarSolarCalendar)

// 0 = Sunday ... 6 = Saturday.
using TDayOfWeek = Integer;

// The calendar identifiers of the platform's locale settings.
constexpr Cardinal CAL_GREGORIAN_US = 2;
constexpr Cardinal CAL_JAPAN = 3;
constexpr Cardinal CAL_TAIWAN = 4;
constexpr Cardinal CAL_KOREA = 5;
constexpr Cardinal CAL_HIJRI = 6;
constexpr Cardinal CAL_THAI = 7;
constexpr Cardinal CAL_HEBREW = 8;
constexpr Cardinal CAL_GREGORIAN_ME_FRENCH = 9;
constexpr Cardinal CAL_GREGORIAN_ARABIC = 10;
constexpr Cardinal CAL_GREGORIAN_XLIT_ENGLISH = 11;
constexpr Cardinal CAL_GREGORIAN_XLIT_FRENCH = 12;

// One era: Gregorian year = era year + YearOffset.
class TvlEra : public TPersistent {
  CL_CLASS(TvlEra, TPersistent)
 public:
  virtual void Create(Integer AEra, TDateTime AStartDate, Integer AYearOffset, Integer AMinEraYear,
                      Integer AMaxEraYear);
  void Assign(TPersistent* Source) override;

  Integer Era() const { return FEra; }
  TDateTime StartDate() const { return FStartDate; }
  Integer YearOffset() const { return FYearOffset; }
  Integer MinEraYear() const { return FMinEraYear; }
  Integer MaxEraYear() const { return FMaxEraYear; }

 private:
  Integer FEra{};
  TDateTime FStartDate{};
  Integer FYearOffset{};
  Integer FMinEraYear{};
  Integer FMaxEraYear{};
};

// The eras of a table, owned.
class TvlEras : public TvlObjectList {
  CL_CLASS(TvlEras, TvlObjectList)
 public:
  TvlEra* Items(Integer AIndex) const { return static_cast<TvlEra*>(Get(AIndex)); }
};

// The base of the calendar tables. Subclassing: a calendar overrides the
// abstract accessors, the sizes (GetDaysInMonth/GetDaysInYear/
// GetMonthsInYear with an era), the leap rules with an era, GetFirstWeekDay,
// GetFullWeeksInYear, the week number of a TvlDateTime and both conversions
// (FromDateTime of a TDateTime, ToDateTime of a TvlDateTime). Arithmetic,
// validity and eras are built on those.
class TvlCustomCalendarTable : public TObject {
  CL_CLASS(TvlCustomCalendarTable, TObject)
 public:
  // 1.
  virtual void AdjustYearToEra(Integer& AYear, Integer& AEra);
  virtual void AdjustYearToEra(Integer& AYear, Integer& AEra, Integer AMonth, Integer ADay);
  // 2.
  virtual TvlCalendarAlgorithmType GetAlgorithmType() const;
  virtual Cardinal GetCalendarID() const;
  virtual TvlEra* GetDefaultEra() const;
  virtual TDateTime GetMaxSupportedDate() const;
  virtual TDateTime GetMinSupportedDate() const;
  // 3.
  virtual void ClampToSupportedDates(TDateTime& ADate) const;
  // 4.
  virtual Integer GetLastSupportedYear() const;
  virtual Integer GetFirstSupportedYear() const;
  // 5.
  virtual void Create();
  void Destroy() override;
  // 6.
  virtual TDateTime AddDays(const TvlDateTime& ADate, Integer ACount);
  virtual TDateTime AddMonths(TDateTime ADate, Integer ACount);
  virtual TDateTime AddMonths(const TvlDateTime& ADate, Integer ACount);
  virtual TDateTime AddYears(TDateTime ADate, Integer ACount);
  virtual TDateTime AddYears(const TvlDateTime& ADate, Integer ACount);
  virtual TDateTime AddWeeks(TDateTime ADate, Integer ACount);
  virtual TDateTime AddWeeks(const TvlDateTime& ADate, Integer ACount);
  // 7.
  virtual TvlDateTime FromDateTime(TDateTime ADate);
  virtual TvlDateTime FromDateTime(Cardinal AYear, Cardinal AMonth, Cardinal ADay);
  virtual TvlDateTime FromDateTime(Cardinal AYear, Cardinal AMonth, Cardinal ADay, Byte AHours, Byte AMinutes,
                                   Byte ASeconds, Word AMilliseconds);
  // 8.
  virtual Integer GetDayOfYear(TDateTime ADate);
  virtual Integer GetDayOfYear(const TvlDateTime& ADate);
  virtual Integer GetDaysInMonth(Cardinal AYear, Cardinal AMonth);
  virtual Integer GetDaysInMonth(Integer AEra, Cardinal AYear, Cardinal AMonth);
  virtual Integer GetDaysInYear(Cardinal AYear);
  virtual Integer GetDaysInYear(Integer AEra, Cardinal AYear);
  virtual Integer GetEra(Integer AYear);
  virtual Integer GetEra(Integer AYear, Integer AMonth, Integer ADay);
  // 9.
  virtual TDateTime GetFirstDayOfWeek(TDateTime ADate);
  virtual TDateTime GetFirstDayOfWeek(TDateTime ADate, TDayOfWeek AStartDayOfWeek);
  virtual TvlDateTime GetFirstDayOfWeek(const TvlDateTime& ADate);
  virtual TvlDateTime GetFirstDayOfWeek(const TvlDateTime& ADate, TDayOfWeek AStartDayOfWeek);
  virtual TDayOfWeek GetFirstWeekDay();
  virtual Integer GetFullWeeksInYear(Cardinal AYear);
  virtual Integer GetMonthsInYear(Cardinal AYear);
  virtual Integer GetMonthsInYear(Integer AEra, Cardinal AYear);
  virtual Integer GetYear(TDateTime ADate);
  virtual Integer GetYear(const TvlDate& ADate);
  virtual Integer GetYear(const TvlDateTime& ADate);
  virtual Integer GetWeekDay(TDateTime ADate);
  virtual Integer GetWeekDay(const TvlDateTime& ADate);
  virtual Cardinal GetWeekNumber(TDateTime ADate, TDayOfWeek AStartOfWeek, TvlFirstWeekOfYear AFirstWeekOfYear);
  virtual Cardinal GetWeekNumber(const TvlDateTime& ADate, TDayOfWeek AStartOfWeek,
                                 TvlFirstWeekOfYear AFirstWeekOfYear);
  // 10.
  Boolean IsLeapDay(Cardinal AYear, Cardinal AMonth, Cardinal ADay) { return IsLeapDay(-1, AYear, AMonth, ADay); }
  virtual Boolean IsLeapDay(Integer AEra, Cardinal AYear, Cardinal AMonth, Cardinal ADay);
  Boolean IsLeapMonth(Cardinal AYear, Cardinal AMonth) { return IsLeapMonth(-1, AYear, AMonth); }
  virtual Boolean IsLeapMonth(Integer AEra, Cardinal AYear, Cardinal AMonth);
  Boolean IsLeapYear(Cardinal AYear) { return IsLeapYear(-1, AYear); }
  virtual Boolean IsLeapYear(Integer AEra, Cardinal AYear);
  Boolean IsValidYear(Cardinal AYear) { return IsValidYear(-1, AYear); }
  virtual Boolean IsValidYear(Integer AEra, Cardinal AYear);
  Boolean IsValidMonth(Cardinal AYear, Cardinal AMonth) { return IsValidMonth(-1, AYear, AMonth); }
  virtual Boolean IsValidMonth(Integer AEra, Cardinal AYear, Cardinal AMonth);
  Boolean IsValidDay(Cardinal AYear, Cardinal AMonth, Cardinal ADay) { return IsValidDay(-1, AYear, AMonth, ADay); }
  virtual Boolean IsValidDay(Integer AEra, Cardinal AYear, Cardinal AMonth, Cardinal ADay);
  virtual Boolean IsValidDate(TDateTime ADate);
  // 11.
  virtual TDateTime ToDateTime(const TvlDate& ADate);
  virtual TDateTime ToDateTime(Cardinal AYear, Cardinal AMonth, Cardinal ADay);
  virtual TDateTime ToDateTime(Cardinal AYear, Cardinal AMonth, Cardinal ADay, Byte AHours, Byte AMinutes,
                               Byte ASeconds, Word AMilliseconds);
  virtual TDateTime ToDateTime(const TvlDateTime& ADateTime);
  // 12. Reading typed text.
  virtual Cardinal GetDayNumber(const String& S);
  virtual Cardinal GetMonthNumber(Cardinal AYear, const String& S);
  virtual Integer GetYearNumber(const String& S);

  TvlCalendarAlgorithmType AlgorithmType() const { return GetAlgorithmType(); }
  Cardinal CalendarID() const { return GetCalendarID(); }
  TvlEra* DefaultEra() const { return GetDefaultEra(); }
  TvlEras* Eras() const { return FEras; }
  TDateTime MaxSupportedDate() const { return GetMaxSupportedDate(); }
  TDateTime MinSupportedDate() const { return GetMinSupportedDate(); }

 protected:
  // Makes AYear a Gregorian year through AEra (-1: the default era).
  void ConvertYearToGregorian(Integer& AYear, Integer AEra);
  // The result of arithmetic that left the calendar's years: the nearer
  // bound of the supported dates.
  TDateTime ClampedYearResult(Integer AEra, Integer AYear);
  // The end of month and year arithmetic: ADate moved to AYear and AMonth of
  // AEra, its day cut to the month's length, within the supported dates.
  TDateTime MovedDateResult(TvlDateTime ADate, Integer AEra, Integer AYear, Integer AMonth);
  TvlEras* FEras{};
};

class TvlGregorianCalendarTable : public TvlCustomCalendarTable {
  CL_CLASS(TvlGregorianCalendarTable, TvlCustomCalendarTable)
 public:
  TvlCalendarAlgorithmType GetAlgorithmType() const override;
  Cardinal GetCalendarID() const override;
  TvlEra* GetDefaultEra() const override;
  TDateTime GetMaxSupportedDate() const override;
  TDateTime GetMinSupportedDate() const override;
  Integer GetLastSupportedYear() const override;
  Integer GetFirstSupportedYear() const override;
  void Create() override;
  // A table of a Gregorian locale variant (1, 2, 9, 10, 11, 12).
  virtual void CreateEx(Cardinal AGregorianCalendarType);
  void Destroy() override;
  using TvlCustomCalendarTable::FromDateTime;
  using TvlCustomCalendarTable::GetDaysInMonth;
  using TvlCustomCalendarTable::GetDaysInYear;
  using TvlCustomCalendarTable::GetMonthsInYear;
  using TvlCustomCalendarTable::GetWeekNumber;
  using TvlCustomCalendarTable::IsLeapDay;
  using TvlCustomCalendarTable::IsLeapMonth;
  using TvlCustomCalendarTable::IsLeapYear;
  using TvlCustomCalendarTable::ToDateTime;
  TvlDateTime FromDateTime(TDateTime ADate) override;
  Integer GetDaysInMonth(Integer AEra, Cardinal AYear, Cardinal AMonth) override;
  Integer GetDaysInYear(Integer AEra, Cardinal AYear) override;
  TDayOfWeek GetFirstWeekDay() override;
  Integer GetFullWeeksInYear(Cardinal AYear) override;
  Integer GetMonthsInYear(Integer AEra, Cardinal AYear) override;
  Cardinal GetWeekNumber(const TvlDateTime& ADate, TDayOfWeek AStartOfWeek,
                         TvlFirstWeekOfYear AFirstWeekOfYear) override;
  Boolean IsLeapDay(Integer AEra, Cardinal AYear, Cardinal AMonth, Cardinal ADay) override;
  Boolean IsLeapMonth(Integer AEra, Cardinal AYear, Cardinal AMonth) override;
  Boolean IsLeapYear(Integer AEra, Cardinal AYear) override;
  TDateTime ToDateTime(const TvlDateTime& ADateTime) override;

 protected:
  TvlEra* FDefaultEra{};
  Cardinal FGregorianCalendarType{};
};

// Meiji, Taisho, Showa and Heisei; the default era is Heisei.
class TvlJapaneseCalendarTable : public TvlGregorianCalendarTable {
  CL_CLASS(TvlJapaneseCalendarTable, TvlGregorianCalendarTable)
 public:
  Cardinal GetCalendarID() const override;
  TvlEra* GetDefaultEra() const override;
  TDateTime GetMaxSupportedDate() const override;
  TDateTime GetMinSupportedDate() const override;
  Integer GetLastSupportedYear() const override;
  Integer GetFirstSupportedYear() const override;
  void Create() override;
  TDayOfWeek GetFirstWeekDay() override;
  using TvlGregorianCalendarTable::FromDateTime;
  using TvlGregorianCalendarTable::ToDateTime;
  TvlDateTime FromDateTime(TDateTime ADate) override;
  TDateTime ToDateTime(const TvlDateTime& ADateTime) override;

 protected:
  // The table's era list (the constructor's own step).
  virtual void AddEras();
};

// Republic of China years: Gregorian year - 1911.
class TvlTaiwanCalendarTable : public TvlJapaneseCalendarTable {
  CL_CLASS(TvlTaiwanCalendarTable, TvlJapaneseCalendarTable)
 public:
  Cardinal GetCalendarID() const override;
  TvlEra* GetDefaultEra() const override;
  TDateTime GetMinSupportedDate() const override;
  Integer GetLastSupportedYear() const override;
  Integer GetFirstSupportedYear() const override;

 protected:
  void AddEras() override;
};

// Dangi years: Gregorian year + 2333.
class TvlKoreanCalendarTable : public TvlJapaneseCalendarTable {
  CL_CLASS(TvlKoreanCalendarTable, TvlJapaneseCalendarTable)
 public:
  Cardinal GetCalendarID() const override;
  TvlEra* GetDefaultEra() const override;
  TDateTime GetMinSupportedDate() const override;
  Integer GetLastSupportedYear() const override;
  Integer GetFirstSupportedYear() const override;

 protected:
  void AddEras() override;
};

// Buddhist years: Gregorian year + 543.
class TvlThaiCalendarTable : public TvlJapaneseCalendarTable {
  CL_CLASS(TvlThaiCalendarTable, TvlJapaneseCalendarTable)
 public:
  Cardinal GetCalendarID() const override;
  TvlEra* GetDefaultEra() const override;
  TDateTime GetMinSupportedDate() const override;
  Integer GetLastSupportedYear() const override;
  Integer GetFirstSupportedYear() const override;

 protected:
  void AddEras() override;
};

// The tabular Islamic calendar: a 30-year cycle of 11 leap years.
class TvlHijriCalendarTable : public TvlCustomCalendarTable {
  CL_CLASS(TvlHijriCalendarTable, TvlCustomCalendarTable)
 public:
  TvlCalendarAlgorithmType GetAlgorithmType() const override;
  Cardinal GetCalendarID() const override;
  TvlEra* GetDefaultEra() const override;
  TDateTime GetMaxSupportedDate() const override;
  TDateTime GetMinSupportedDate() const override;
  Integer GetLastSupportedYear() const override;
  Integer GetFirstSupportedYear() const override;
  void Create() override;
  void Destroy() override;
  using TvlCustomCalendarTable::FromDateTime;
  using TvlCustomCalendarTable::GetDaysInMonth;
  using TvlCustomCalendarTable::GetDaysInYear;
  using TvlCustomCalendarTable::GetMonthsInYear;
  using TvlCustomCalendarTable::GetWeekNumber;
  using TvlCustomCalendarTable::IsLeapDay;
  using TvlCustomCalendarTable::IsLeapMonth;
  using TvlCustomCalendarTable::IsLeapYear;
  using TvlCustomCalendarTable::ToDateTime;
  TvlDateTime FromDateTime(TDateTime ADate) override;
  Integer GetDaysInMonth(Integer AEra, Cardinal AYear, Cardinal AMonth) override;
  Integer GetDaysInYear(Integer AEra, Cardinal AYear) override;
  TDayOfWeek GetFirstWeekDay() override;
  Integer GetFullWeeksInYear(Cardinal AYear) override;
  Integer GetMonthsInYear(Integer AEra, Cardinal AYear) override;
  Cardinal GetWeekNumber(const TvlDateTime& ADate, TDayOfWeek AStartOfWeek,
                         TvlFirstWeekOfYear AFirstWeekOfYear) override;
  Boolean IsLeapDay(Integer AEra, Cardinal AYear, Cardinal AMonth, Cardinal ADay) override;
  Boolean IsLeapMonth(Integer AEra, Cardinal AYear, Cardinal AMonth) override;
  Boolean IsLeapYear(Integer AEra, Cardinal AYear) override;
  TDateTime ToDateTime(const TvlDateTime& ADateTime) override;
  Cardinal GetMonthNumber(Cardinal AYear, const String& S) override;

 private:
  TvlEra* FDefaultEra{};
};

// The Hebrew calendar, months counted from Tishrei, years 5343-5999.
class TvlHebrewCalendarTable : public TvlCustomCalendarTable {
  CL_CLASS(TvlHebrewCalendarTable, TvlCustomCalendarTable)
 public:
  TvlCalendarAlgorithmType GetAlgorithmType() const override;
  Cardinal GetCalendarID() const override;
  TvlEra* GetDefaultEra() const override;
  TDateTime GetMaxSupportedDate() const override;
  TDateTime GetMinSupportedDate() const override;
  Integer GetLastSupportedYear() const override;
  Integer GetFirstSupportedYear() const override;
  void Create() override;
  void Destroy() override;
  using TvlCustomCalendarTable::FromDateTime;
  using TvlCustomCalendarTable::GetDaysInMonth;
  using TvlCustomCalendarTable::GetDaysInYear;
  using TvlCustomCalendarTable::GetMonthsInYear;
  using TvlCustomCalendarTable::GetWeekNumber;
  using TvlCustomCalendarTable::IsLeapDay;
  using TvlCustomCalendarTable::IsLeapMonth;
  using TvlCustomCalendarTable::IsLeapYear;
  using TvlCustomCalendarTable::ToDateTime;
  TvlDateTime FromDateTime(TDateTime ADate) override;
  Integer GetDaysInMonth(Integer AEra, Cardinal AYear, Cardinal AMonth) override;
  Integer GetDaysInYear(Integer AEra, Cardinal AYear) override;
  TDayOfWeek GetFirstWeekDay() override;
  Integer GetFullWeeksInYear(Cardinal AYear) override;
  Integer GetMonthsInYear(Integer AEra, Cardinal AYear) override;
  Cardinal GetWeekNumber(const TvlDateTime& ADate, TDayOfWeek AStartOfWeek,
                         TvlFirstWeekOfYear AFirstWeekOfYear) override;
  Boolean IsLeapDay(Integer AEra, Cardinal AYear, Cardinal AMonth, Cardinal ADay) override;
  Boolean IsLeapMonth(Integer AEra, Cardinal AYear, Cardinal AMonth) override;
  Boolean IsLeapYear(Integer AEra, Cardinal AYear) override;
  TDateTime ToDateTime(const TvlDateTime& ADateTime) override;
  Cardinal GetDayNumber(const String& S) override;
  Cardinal GetMonthNumber(Cardinal AYear, const String& S) override;
  Integer GetYearNumber(const String& S) override;
  // The kind of a year: 1 deficient, 2 regular, 3 complete; 0 outside the
  // table's years.
  Integer GetYearType(Cardinal AYear);

 private:
  TvlEra* FDefaultEra{};
};

// The value of a Hebrew numeral: the letters alef to tav count 1 to 400,
// given in code page 1255 positions (224..250) or as Unicode letters
// (U+05D0..U+05EA, final forms counting as their letter); 0 when the text
// holds no numeral.
Integer vlHebrewNumeralValue(const String& S);
