#include "lib/editors/vlCalendarTables.h"

#include <algorithm>
#include <cmath>

#include "lib/editors/vlDateUtils.h"
#include "platform/rtl/Conversions.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Strings.h"

CL_IMPLEMENT_CLASS(TvlEra)
CL_IMPLEMENT_CLASS(TvlEras)
CL_IMPLEMENT_CLASS(TvlCustomCalendarTable)
CL_IMPLEMENT_CLASS(TvlGregorianCalendarTable)
CL_IMPLEMENT_CLASS(TvlJapaneseCalendarTable)
CL_IMPLEMENT_CLASS(TvlTaiwanCalendarTable)
CL_IMPLEMENT_CLASS(TvlKoreanCalendarTable)
CL_IMPLEMENT_CLASS(TvlThaiCalendarTable)
CL_IMPLEMENT_CLASS(TvlHijriCalendarTable)
CL_IMPLEMENT_CLASS(TvlHebrewCalendarTable)

namespace {

// The last moment of 31 December 9999.
constexpr TDateTime kLastMoment = 2958465.99999;

TDateTime DateOf(Word AYear, Word AMonth, Word ADay) {
  TDateTime d = 0;
  TryEncodeDate(AYear, AMonth, ADay, d);
  return d;
}

TDateTime TimeOf(const TvlDateTime& ADate) {
  TDateTime t = 0;
  TryEncodeTime(ADate.Hours, ADate.Minutes, ADate.Seconds, ADate.Milliseconds, t);
  return t;
}

void SetTime(TvlDateTime& AResult, TDateTime ADate) {
  Word h, n, s, ms;
  DecodeTime(ADate, h, n, s, ms);
  AResult.Hours = Byte(h);
  AResult.Minutes = Byte(n);
  AResult.Seconds = Byte(s);
  AResult.Milliseconds = ms;
}

// A date-time plus a time of day, for dates before 1899-12-30 too (the
// fraction counts forward in the day there).
TDateTime WithTime(TDateTime ADay, TDateTime ATime) { return ADay < 0 ? ADay - ATime : ADay + ATime; }

TvlEra* NewEra(Integer AEra, TDateTime AStartDate, Integer AYearOffset, Integer AMinEraYear, Integer AMaxEraYear) {
  return New<TvlEra>(AEra, AStartDate, AYearOffset, AMinEraYear, AMaxEraYear);
}

// ---- Hijri -----------------------------------------------------------------

Boolean IsHijriCycleLeap(Integer ACycleYear) {
  switch (ACycleYear) {
    case 2: case 5: case 7: case 10: case 13: case 15: case 18: case 21: case 24: case 26: case 29:
      return true;
    default:
      return false;
  }
}

Integer HijriLeapYearsUpTo(Integer ACycleYear) {
  Integer n = 0;
  for (Integer i = 1; i <= ACycleYear; ++i)
    if (IsHijriCycleLeap(i)) ++n;
  return n;
}

// ---- Hebrew: the table of 1 January of every Gregorian year 1583..2239 ------
//
// Computed once from the calendar's arithmetic: the molad of Tishrei and the
// postponement rules give the first day of every year, and the first days of
// two years give the year's length and so its kind.

constexpr Integer kHebrewFirstGregorianYear = 1583;
constexpr Integer kHebrewLastGregorianYear = 2239;
constexpr Integer kHebrewYearShift = 3760;  // Hebrew year of 1 January = Gregorian year + 3760
// 1 Tishrei of year 1 is the day after this TDateTime (7 October 3761 BCE
// of the Julian calendar).
constexpr Int64 kHebrewEpoch = -1373427 - 693594;

Boolean IsHebrewLeapYear(Int64 AYear) { return ((7 * AYear + 1) % 19 + 19) % 19 < 7; }

// Days from the epoch to 1 Tishrei of AYear before the two year-length
// postponements. The molad of Tishrei is counted in parts (1/1080 hour,
// 25920 a day) from an origin six hours before the epoch's midnight, so that
// a molad at or after noon lands on the next day (molad zaken): 13753 parts
// are a lunar month's excess over 29 days, 12084 the first molad (BaHaRaD)
// plus the six hours. Then 1 Tishrei never falls on Sunday, Wednesday or
// Friday (lo ADU rosh): those days move on by one.
Int64 HebrewElapsedDays(Int64 AYear) {
  Int64 monthsElapsed = (235 * AYear - 234) / 19;  // AYear >= 1: no negative division
  Int64 partsElapsed = 12084 + 13753 * monthsElapsed;
  Int64 days = 29 * monthsElapsed + partsElapsed / 25920;
  if ((3 * (days + 1)) % 7 < 3) ++days;
  return days;
}

// 1 Tishrei of AYear as a TDateTime day, with the two postponements that keep
// every year's length within the six allowed.
Int64 HebrewNewYear(Int64 AYear) {
  Int64 ny0 = HebrewElapsedDays(AYear - 1);
  Int64 ny1 = HebrewElapsedDays(AYear);
  Int64 ny2 = HebrewElapsedDays(AYear + 1);
  Int64 correction = 0;
  if (ny2 - ny1 == 356)
    correction = 2;  // the next year would be too long: GaTaRaD
  else if (ny1 - ny0 == 382)
    correction = 1;  // the previous leap year would be too short: BeTUTaKPaT
  return kHebrewEpoch + ny1 + correction;
}

const Integer kHebrewMonthDays[3][13] = {
    {30, 29, 29, 29, 30, 29, 30, 29, 30, 29, 30, 29, 0},
    {30, 29, 30, 29, 30, 29, 30, 29, 30, 29, 30, 29, 0},
    {30, 30, 30, 29, 30, 29, 30, 29, 30, 29, 30, 29, 0},
};

Integer HebrewMonthLength(Integer AKind, Boolean ALeap, Integer AMonth) {
  if (AKind < 1 || AKind > 3) AKind = 2;
  Integer months = ALeap ? 13 : 12;
  if (AMonth < 1 || AMonth > months) return 0;
  if (!ALeap) return kHebrewMonthDays[AKind - 1][AMonth - 1];
  if (AMonth < 6) return kHebrewMonthDays[AKind - 1][AMonth - 1];
  if (AMonth == 6) return 30;
  // Months 7..13 of a leap year: Adar II, Nisan .. Elul.
  return (AMonth % 2 == 1) ? 29 : 30;
}

struct THebrewJanuaryFirst {
  Byte Month{};
  Byte Day{};
  // 1 deficient, 2 regular, 3 complete; plus 3 in leap years.
  Byte Kind{};
};

struct THebrewTable {
  THebrewJanuaryFirst Entries[kHebrewLastGregorianYear - kHebrewFirstGregorianYear + 1];

  THebrewTable() {
    for (Integer g = kHebrewFirstGregorianYear; g <= kHebrewLastGregorianYear; ++g) {
      Int64 h = g + kHebrewYearShift;
      Int64 start = HebrewNewYear(h);
      Int64 length = HebrewNewYear(h + 1) - start;
      Boolean leap = IsHebrewLeapYear(h);
      Integer kind = Integer(length - (leap ? 383 : 353)) + 1;  // 353/383 -> 1, 354/384 -> 2, 355/385 -> 3
      THebrewJanuaryFirst& e = Entries[g - kHebrewFirstGregorianYear];
      e.Kind = Byte(kind + (leap ? 3 : 0));
      Int64 rest = Int64(DateOf(Word(g), 1, 1)) - start;  // days after 1 Tishrei
      Integer month = 1;
      while (rest >= HebrewMonthLength(kind, leap, month)) rest -= HebrewMonthLength(kind, leap, month++);
      e.Month = Byte(month);
      e.Day = Byte(rest + 1);
    }
  }
};

const THebrewTable& HebrewTable() {
  static const THebrewTable table;
  return table;
}

const THebrewJanuaryFirst* HebrewEntry(Int64 AHebrewYear) {
  Int64 g = AHebrewYear - kHebrewYearShift;
  if (g < kHebrewFirstGregorianYear || g > kHebrewLastGregorianYear) return nullptr;
  return &HebrewTable().Entries[g - kHebrewFirstGregorianYear];
}

// Day of the Hebrew year (1-based) of a month and day, by the year's months.
Integer HebrewDayIndex(Integer AKind, Boolean ALeap, Integer AMonth, Integer ADay) {
  Integer n = ADay;
  for (Integer m = 1; m < AMonth; ++m) n += HebrewMonthLength(AKind, ALeap, m);
  return n;
}

// Week number of the lunar tables (Hijri, Hebrew): the week start is the
// table's own first weekday.
Cardinal LunarWeekNumber(TvlCustomCalendarTable* ATable, const TvlDateTime& ADate, Integer AFirstWeekOfYear) {
  Integer rule = AFirstWeekOfYear;
  if (rule == fwySystem) rule = StrToIntDef(GetLocaleStr(GetThreadLocale(), LOCALE_IFIRSTWEEKOFYEAR, u"0"), 0) + 1;
  TvlDateTime first = ADate;
  first.Month = 1;
  first.Day = 1;
  TDateTime firstDay = ATable->ToDateTime(first);
  TDateTime s = ATable->ToDateTime(ATable->GetFirstDayOfWeek(first));
  if ((rule == fwyFirstFullWeek && s < firstDay) || (rule == fwyFirstFourDays && s + 3 < firstDay)) s += 7;
  TDateTime date = ATable->ToDateTime(ADate);
  if (std::trunc(date) < std::trunc(s)) {
    // A day before week 1 belongs to the previous year's last week.
    if (firstDay - 1 < ATable->MinSupportedDate()) return 1;
    return ATable->GetWeekNumber(ATable->FromDateTime(firstDay - 1), 0, TvlFirstWeekOfYear(rule));
  }
  Cardinal n = Cardinal((Int64(std::trunc(date)) - Int64(std::trunc(s))) / 7 + 1);
  if (ADate.Month == Cardinal(ATable->GetMonthsInYear(ADate.Era, ADate.Year))) {
    TDateTime l = ATable->ToDateTime(ATable->GetFirstDayOfWeek(ADate));
    if (rule == fwyJan1 && ATable->FromDateTime(l + 6).Month == 1) return 1;
    if (rule == fwyFirstFourDays && ATable->FromDateTime(l + 3).Month == 1) return 1;
  }
  return n;
}

}  // namespace

// ---- TvlEra ------------------------------------------------------------------

void TvlEra::Create(Integer AEra, TDateTime AStartDate, Integer AYearOffset, Integer AMinEraYear,
                    Integer AMaxEraYear) {
  FEra = AEra;
  FStartDate = AStartDate;
  FYearOffset = AYearOffset;
  FMinEraYear = AMinEraYear;
  FMaxEraYear = AMaxEraYear;
}

void TvlEra::Assign(TPersistent* Source) {
  if (auto* e = dynamic_cast<TvlEra*>(Source)) {
    FEra = e->FEra;
    FStartDate = e->FStartDate;
    FYearOffset = e->FYearOffset;
    FMinEraYear = e->FMinEraYear;
    FMaxEraYear = e->FMaxEraYear;
  } else {
    inherited::Assign(Source);
  }
}

// ---- TvlCustomCalendarTable --------------------------------------------------------

void TvlCustomCalendarTable::Create() {
  inherited::Create();
  FEras = New<TvlEras>(true);
}

void TvlCustomCalendarTable::Destroy() {
  if (FEras) FEras->Clear();
  FreeAndNil(FEras);
  inherited::Destroy();
}

void TvlCustomCalendarTable::ConvertYearToGregorian(Integer& AYear, Integer AEra) {
  if (AEra == -1) {
    if (TvlEra* e = DefaultEra()) AYear += e->YearOffset();
  } else if (FEras && AEra >= 0 && AEra < FEras->Count()) {
    AYear += FEras->Items(AEra)->YearOffset();
  }
}

void TvlCustomCalendarTable::AdjustYearToEra(Integer& AYear, Integer& AEra) { AdjustYearToEra(AYear, AEra, 1, 1); }

void TvlCustomCalendarTable::AdjustYearToEra(Integer& AYear, Integer& AEra, Integer AMonth, Integer ADay) {
  ConvertYearToGregorian(AYear, AEra);
  AEra = GetEra(AYear, AMonth, ADay);
  if (AEra < 0 && FEras->Count() > 0) {
    // Before the first era: the date stays relative to the first era (and so
    // out of the calendar) instead of being read in the default era.
    AEra = 0;
  }
  if (AEra >= 0) AYear -= FEras->Items(AEra)->YearOffset();
}

TvlCalendarAlgorithmType TvlCustomCalendarTable::GetAlgorithmType() const { throw EAbstractError(); }
Cardinal TvlCustomCalendarTable::GetCalendarID() const { throw EAbstractError(); }
TvlEra* TvlCustomCalendarTable::GetDefaultEra() const { throw EAbstractError(); }
TDateTime TvlCustomCalendarTable::GetMaxSupportedDate() const { throw EAbstractError(); }
TDateTime TvlCustomCalendarTable::GetMinSupportedDate() const { throw EAbstractError(); }
Integer TvlCustomCalendarTable::GetLastSupportedYear() const { throw EAbstractError(); }
Integer TvlCustomCalendarTable::GetFirstSupportedYear() const { throw EAbstractError(); }

void TvlCustomCalendarTable::ClampToSupportedDates(TDateTime& ADate) const {
  if (ADate < MinSupportedDate())
    ADate = MinSupportedDate();
  else if (!(ADate <= MaxSupportedDate()))
    ADate = MaxSupportedDate();
}

TDateTime TvlCustomCalendarTable::ClampedYearResult(Integer AEra, Integer AYear) {
  (void)AEra;
  return AYear > GetLastSupportedYear() ? MaxSupportedDate() : MinSupportedDate();
}

TDateTime TvlCustomCalendarTable::AddDays(const TvlDateTime& ADate, Integer ACount) {
  TDateTime result = ToDateTime(ADate) + ACount;
  ClampToSupportedDates(result);
  return result;
}

TDateTime TvlCustomCalendarTable::AddMonths(TDateTime ADate, Integer ACount) {
  return AddMonths(FromDateTime(ADate), ACount);
}

TDateTime TvlCustomCalendarTable::AddMonths(const TvlDateTime& ADate, Integer ACount) {
  if (!IsValidDay(ADate.Era, ADate.Year, ADate.Month, ADate.Day)) return MinSupportedDate();
  TvlDateTime d = ADate;
  Integer era = d.Era;
  Int64 year = d.Year;
  Int64 month = Int64(d.Month) + ACount;
  // Whole years first, so that a large count does not step month by month
  // through years the calendar cannot hold.
  auto outOfYears = [&] { return year < GetFirstSupportedYear() || year > GetLastSupportedYear(); };
  if (month > GetMonthsInYear(era, Cardinal(year))) {
    while (month > GetMonthsInYear(era, Cardinal(year))) {
      month -= GetMonthsInYear(era, Cardinal(year));
      ++year;
      if (outOfYears()) return MaxSupportedDate();
    }
  } else {
    while (month <= 0) {
      --year;
      if (outOfYears()) return MinSupportedDate();
      month += GetMonthsInYear(era, Cardinal(year));
    }
  }
  return MovedDateResult(d, era, Integer(year), Integer(month));
}

TDateTime TvlCustomCalendarTable::MovedDateResult(TvlDateTime ADate, Integer AEra, Integer AYear, Integer AMonth) {
  Integer day = std::min<Integer>(Integer(ADate.Day), GetDaysInMonth(AEra, Cardinal(AYear), Cardinal(AMonth)));
  AdjustYearToEra(AYear, AEra, AMonth, day);
  if (!IsValidDay(AEra, Cardinal(AYear), Cardinal(AMonth), Cardinal(day))) return ClampedYearResult(AEra, AYear);
  ADate.Era = AEra;
  ADate.Year = Cardinal(AYear);
  ADate.Month = Cardinal(AMonth);
  ADate.Day = Cardinal(day);
  TDateTime result = ToDateTime(ADate);
  ClampToSupportedDates(result);
  return result;
}

TDateTime TvlCustomCalendarTable::AddYears(TDateTime ADate, Integer ACount) {
  return AddYears(FromDateTime(ADate), ACount);
}

TDateTime TvlCustomCalendarTable::AddYears(const TvlDateTime& ADate, Integer ACount) {
  if (!IsValidDay(ADate.Era, ADate.Year, ADate.Month, ADate.Day)) return MinSupportedDate();
  Int64 target = Int64(ADate.Year) + ACount;
  // A year past either end clamps to that end, as adding days does.
  if (target > GetLastSupportedYear() + 1) return MaxSupportedDate();
  if (target < GetFirstSupportedYear() - 1) return MinSupportedDate();
  TvlDateTime d = ADate;
  Integer era = d.Era;
  Integer y = Integer(target);
  AdjustYearToEra(y, era);
  if (!IsValidYear(era, Cardinal(y))) return ClampedYearResult(era, y);
  Integer month = std::min<Integer>(Integer(d.Month), GetMonthsInYear(era, Cardinal(y)));
  return MovedDateResult(d, era, y, month);
}

TDateTime TvlCustomCalendarTable::AddWeeks(TDateTime ADate, Integer ACount) {
  return AddWeeks(FromDateTime(ADate), ACount);
}

TDateTime TvlCustomCalendarTable::AddWeeks(const TvlDateTime& ADate, Integer ACount) {
  Int64 days = Int64(ACount) * 7;
  days = std::clamp<Int64>(days, -4000000, 4000000);  // wider than every calendar's span
  TDateTime result = AddDays(ADate, Integer(days));
  ClampToSupportedDates(result);
  return result;
}

TvlDateTime TvlCustomCalendarTable::FromDateTime(TDateTime) { throw EAbstractError(); }

TvlDateTime TvlCustomCalendarTable::FromDateTime(Cardinal AYear, Cardinal AMonth, Cardinal ADay) {
  return FromDateTime(AYear, AMonth, ADay, 0, 0, 0, 0);
}

TvlDateTime TvlCustomCalendarTable::FromDateTime(Cardinal AYear, Cardinal AMonth, Cardinal ADay, Byte AHours,
                                                 Byte AMinutes, Byte ASeconds, Word AMilliseconds) {
  TDateTime d = 0;
  if (AYear > 0xFFFF || AMonth > 0xFFFF || ADay > 0xFFFF ||
      !TryEncodeDateTime(Word(AYear), Word(AMonth), Word(ADay), AHours, AMinutes, ASeconds, AMilliseconds, d))
    d = MinSupportedDate();
  return FromDateTime(d);
}

Integer TvlCustomCalendarTable::GetDayOfYear(TDateTime ADate) { return GetDayOfYear(FromDateTime(ADate)); }

Integer TvlCustomCalendarTable::GetDayOfYear(const TvlDateTime& ADate) {
  Integer n = Integer(ADate.Day);
  for (Cardinal m = 1; m < ADate.Month; ++m) n += GetDaysInMonth(ADate.Era, ADate.Year, m);
  return n;
}

Integer TvlCustomCalendarTable::GetDaysInMonth(Cardinal AYear, Cardinal AMonth) {
  return GetDaysInMonth(-1, AYear, AMonth);
}
Integer TvlCustomCalendarTable::GetDaysInMonth(Integer, Cardinal, Cardinal) { throw EAbstractError(); }
Integer TvlCustomCalendarTable::GetDaysInYear(Cardinal AYear) { return GetDaysInYear(-1, AYear); }
Integer TvlCustomCalendarTable::GetDaysInYear(Integer, Cardinal) { throw EAbstractError(); }

Integer TvlCustomCalendarTable::GetEra(Integer AYear) { return GetEra(AYear, 1, 1); }

Integer TvlCustomCalendarTable::GetEra(Integer AYear, Integer AMonth, Integer ADay) {
  if (!FEras || FEras->Count() == 0) return -1;
  TDateTime d = 0;
  if (AYear > 9999) return FEras->Count() - 1;
  if (AYear < 1 || AMonth < 1 || ADay < 1 || !TryEncodeDate(Word(AYear), Word(AMonth), Word(ADay), d)) return -1;
  Integer result = -1;
  for (Integer i = 0; i < FEras->Count(); ++i)
    if (FEras->Items(i)->StartDate() <= d) result = i;
  return result;
}

TDateTime TvlCustomCalendarTable::GetFirstDayOfWeek(TDateTime ADate) {
  return ToDateTime(GetFirstDayOfWeek(FromDateTime(ADate)));
}

TDateTime TvlCustomCalendarTable::GetFirstDayOfWeek(TDateTime ADate, TDayOfWeek AStartDayOfWeek) {
  Integer w = GetWeekDay(ADate);
  TDateTime result = ADate + AStartDayOfWeek - w;
  if (w < AStartDayOfWeek) result -= 7;
  return result;
}

TvlDateTime TvlCustomCalendarTable::GetFirstDayOfWeek(const TvlDateTime& ADate) {
  return GetFirstDayOfWeek(ADate, GetFirstWeekDay());
}

TvlDateTime TvlCustomCalendarTable::GetFirstDayOfWeek(const TvlDateTime& ADate, TDayOfWeek AStartDayOfWeek) {
  Integer w = GetWeekDay(ADate);
  Integer shift = AStartDayOfWeek - w;
  if (w < AStartDayOfWeek) shift -= 7;
  return FromDateTime(AddDays(ADate, shift));
}

TDayOfWeek TvlCustomCalendarTable::GetFirstWeekDay() { throw EAbstractError(); }
Integer TvlCustomCalendarTable::GetFullWeeksInYear(Cardinal) { throw EAbstractError(); }
Integer TvlCustomCalendarTable::GetMonthsInYear(Cardinal AYear) { return GetMonthsInYear(-1, AYear); }
Integer TvlCustomCalendarTable::GetMonthsInYear(Integer, Cardinal) { throw EAbstractError(); }
Integer TvlCustomCalendarTable::GetYear(TDateTime ADate) { return Integer(FromDateTime(ADate).Year); }
Integer TvlCustomCalendarTable::GetYear(const TvlDate& ADate) { return Integer(ADate.Year); }
Integer TvlCustomCalendarTable::GetYear(const TvlDateTime& ADate) { return Integer(ADate.Year); }
Integer TvlCustomCalendarTable::GetWeekDay(TDateTime ADate) { return DayOfWeek(ADate) - 1; }
Integer TvlCustomCalendarTable::GetWeekDay(const TvlDateTime& ADate) { return GetWeekDay(ToDateTime(ADate)); }

Cardinal TvlCustomCalendarTable::GetWeekNumber(TDateTime ADate, TDayOfWeek AStartOfWeek,
                                               TvlFirstWeekOfYear AFirstWeekOfYear) {
  return GetWeekNumber(FromDateTime(ADate), AStartOfWeek, AFirstWeekOfYear);
}

Cardinal TvlCustomCalendarTable::GetWeekNumber(const TvlDateTime&, TDayOfWeek, TvlFirstWeekOfYear) {
  throw EAbstractError();
}

Boolean TvlCustomCalendarTable::IsLeapDay(Integer, Cardinal, Cardinal, Cardinal) { throw EAbstractError(); }
Boolean TvlCustomCalendarTable::IsLeapMonth(Integer, Cardinal, Cardinal) { throw EAbstractError(); }
Boolean TvlCustomCalendarTable::IsLeapYear(Integer, Cardinal) { throw EAbstractError(); }

Boolean TvlCustomCalendarTable::IsValidYear(Integer, Cardinal AYear) {
  return Int64(AYear) >= GetFirstSupportedYear() && Int64(AYear) <= GetLastSupportedYear();
}

Boolean TvlCustomCalendarTable::IsValidMonth(Integer AEra, Cardinal AYear, Cardinal AMonth) {
  return IsValidYear(AEra, AYear) && AMonth >= 1 && Int64(AMonth) <= GetMonthsInYear(AEra, AYear);
}

Boolean TvlCustomCalendarTable::IsValidDay(Integer AEra, Cardinal AYear, Cardinal AMonth, Cardinal ADay) {
  return IsValidMonth(AEra, AYear, AMonth) && ADay >= 1 && Int64(ADay) <= GetDaysInMonth(AEra, AYear, AMonth);
}

Boolean TvlCustomCalendarTable::IsValidDate(TDateTime ADate) {
  TvlDateTime d = FromDateTime(ADate);
  return IsValidDay(d.Era, d.Year, d.Month, d.Day);
}

TDateTime TvlCustomCalendarTable::ToDateTime(const TvlDate& ADate) {
  TvlDateTime d;
  d.Era = ADate.Era;
  d.Year = ADate.Year;
  d.Month = ADate.Month;
  d.Day = ADate.Day;
  return ToDateTime(d);
}

TDateTime TvlCustomCalendarTable::ToDateTime(Cardinal AYear, Cardinal AMonth, Cardinal ADay) {
  return ToDateTime(AYear, AMonth, ADay, 0, 0, 0, 0);
}

TDateTime TvlCustomCalendarTable::ToDateTime(Cardinal AYear, Cardinal AMonth, Cardinal ADay, Byte AHours,
                                             Byte AMinutes, Byte ASeconds, Word AMilliseconds) {
  TvlDateTime d;
  d.Era = -1;
  d.Year = AYear;
  d.Month = AMonth;
  d.Day = ADay;
  d.Hours = AHours;
  d.Minutes = AMinutes;
  d.Seconds = ASeconds;
  d.Milliseconds = AMilliseconds;
  return ToDateTime(d);
}

TDateTime TvlCustomCalendarTable::ToDateTime(const TvlDateTime&) { throw EAbstractError(); }

Cardinal TvlCustomCalendarTable::GetDayNumber(const String& S) { return Cardinal(StrToInt(S)); }

Cardinal TvlCustomCalendarTable::GetMonthNumber(Cardinal AYear, const String& S) {
  (void)AYear;
  const TFormatSettings& fs = FormatSettings();
  for (Integer m = 1; m <= 12; ++m)
    if (AnsiSameText(fs.LongMonthNames[m - 1], S) || AnsiSameText(fs.ShortMonthNames[m - 1], S)) return Cardinal(m);
  return Cardinal(StrToInt(S));
}

Integer TvlCustomCalendarTable::GetYearNumber(const String& S) {
  Integer result = StrToInt(S);
  if (Length(Trim(S)) <= 2) {
    Cardinal window = 0;
    vlGetCalendarInfo(GetThreadLocale(), CalendarID(), CAL_ITWODIGITYEARMAX | CAL_RETURN_NUMBER, nullptr, &window);
    Integer m = Integer(window);
    result = result + (m / 100) * 100;
    if (StrToInt(S) > m % 100) result -= 100;
  }
  return result;
}

// ---- TvlGregorianCalendarTable ------------------------------------------------------

void TvlGregorianCalendarTable::Create() { CreateEx(1); }

void TvlGregorianCalendarTable::CreateEx(Cardinal AGregorianCalendarType) {
  inherited::Create();
  FGregorianCalendarType = AGregorianCalendarType;
  FDefaultEra = NewEra(-1, vlNullDate, 0, 1, 9999);
}

void TvlGregorianCalendarTable::Destroy() {
  FreeAndNil(FDefaultEra);
  inherited::Destroy();
}

TvlCalendarAlgorithmType TvlGregorianCalendarTable::GetAlgorithmType() const { return catSolarCalendar; }
Cardinal TvlGregorianCalendarTable::GetCalendarID() const { return FGregorianCalendarType; }
TvlEra* TvlGregorianCalendarTable::GetDefaultEra() const { return FDefaultEra; }
TDateTime TvlGregorianCalendarTable::GetMaxSupportedDate() const { return kLastMoment; }
TDateTime TvlGregorianCalendarTable::GetMinSupportedDate() const { return -657434.0; }
Integer TvlGregorianCalendarTable::GetLastSupportedYear() const { return vlMaxYear; }
Integer TvlGregorianCalendarTable::GetFirstSupportedYear() const { return vlMinYear; }

TvlDateTime TvlGregorianCalendarTable::FromDateTime(TDateTime ADate) {
  TvlDateTime result;
  Word y, m, d, h, n, s, ms;
  DecodeDateTime(ADate, y, m, d, h, n, s, ms);
  result.Year = y;
  result.Month = m;
  result.Day = d;
  result.Hours = Byte(h);
  result.Minutes = Byte(n);
  result.Seconds = Byte(s);
  result.Milliseconds = ms;
  return result;
}

TDateTime TvlGregorianCalendarTable::ToDateTime(const TvlDateTime& ADateTime) {
  TDateTime result = 0;
  if (ADateTime.Year > 0xFFFF || ADateTime.Month > 12 || ADateTime.Day > 31 ||
      !TryEncodeDateTime(Word(ADateTime.Year), Word(ADateTime.Month), Word(ADateTime.Day), ADateTime.Hours,
                         ADateTime.Minutes, ADateTime.Seconds, ADateTime.Milliseconds, result))
    return MinSupportedDate();
  // Years that encode but lie outside this table's range are clamped to it.
  ClampToSupportedDates(result);
  return result;
}

Integer TvlGregorianCalendarTable::GetDaysInMonth(Integer AEra, Cardinal AYear, Cardinal AMonth) {
  static const Integer kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (AMonth < 1 || AMonth > 12) return 0;
  if (AMonth == 2 && IsLeapYear(AEra, AYear)) return 29;
  return kDays[AMonth - 1];
}

Integer TvlGregorianCalendarTable::GetDaysInYear(Integer AEra, Cardinal AYear) {
  return IsLeapYear(AEra, AYear) ? 366 : 365;
}

TDayOfWeek TvlGregorianCalendarTable::GetFirstWeekDay() {
  switch (FGregorianCalendarType) {
    case CAL_GREGORIAN_ME_FRENCH:
    case CAL_GREGORIAN_XLIT_ENGLISH:
    case CAL_GREGORIAN_XLIT_FRENCH:
      return 1;
    case CAL_GREGORIAN_ARABIC:
      return 6;
    default:
      return 0;
  }
}

Integer TvlGregorianCalendarTable::GetFullWeeksInYear(Cardinal AYear) {
  Integer c = ((GetWeekDay(ToDateTime(AYear, 1, 1)) - GetFirstWeekDay()) % 7 + 7) % 7;
  return ((IsLeapYear(AYear) && c > 4) || c > 5) ? 53 : 52;
}

Integer TvlGregorianCalendarTable::GetMonthsInYear(Integer, Cardinal) { return 12; }

Cardinal TvlGregorianCalendarTable::GetWeekNumber(const TvlDateTime& ADate, TDayOfWeek AStartOfWeek,
                                                  TvlFirstWeekOfYear AFirstWeekOfYear) {
  return vlGetWeekNumber(AStartOfWeek, AFirstWeekOfYear, ToDateTime(ADate));
}

Boolean TvlGregorianCalendarTable::IsLeapDay(Integer AEra, Cardinal AYear, Cardinal AMonth, Cardinal ADay) {
  return IsLeapYear(AEra, AYear) && AMonth == 2 && ADay == 29;
}

Boolean TvlGregorianCalendarTable::IsLeapMonth(Integer AEra, Cardinal AYear, Cardinal AMonth) {
  return IsLeapYear(AEra, AYear) && AMonth == 2;
}

Boolean TvlGregorianCalendarTable::IsLeapYear(Integer AEra, Cardinal AYear) {
  Integer y = Integer(std::min<Cardinal>(AYear, 0x7FFFFFF));
  ConvertYearToGregorian(y, AEra);
  return vlIsLeapYear(y);
}

// ---- Japanese family ----------------------------------------------------------------------

void TvlJapaneseCalendarTable::Create() {
  // The era list is the table's own; no default-era object of its own.
  TvlCustomCalendarTable::Create();
  FGregorianCalendarType = GetCalendarID();
  AddEras();
}

void TvlJapaneseCalendarTable::AddEras() {
  FEras->Add(NewEra(1, DateOf(1868, 9, 8), 1867, 1, 45));
  FEras->Add(NewEra(2, DateOf(1912, 7, 30), 1911, 1, 15));
  FEras->Add(NewEra(3, DateOf(1926, 12, 25), 1925, 1, 64));
  FEras->Add(NewEra(4, DateOf(1989, 1, 8), 1988, 1, 8011));
}

Cardinal TvlJapaneseCalendarTable::GetCalendarID() const { return CAL_JAPAN; }
TvlEra* TvlJapaneseCalendarTable::GetDefaultEra() const { return FEras->Items(3); }
TDateTime TvlJapaneseCalendarTable::GetMaxSupportedDate() const { return kLastMoment; }
TDateTime TvlJapaneseCalendarTable::GetMinSupportedDate() const { return DateOf(1868, 9, 8); }
Integer TvlJapaneseCalendarTable::GetLastSupportedYear() const { return 8011; }
Integer TvlJapaneseCalendarTable::GetFirstSupportedYear() const { return 1; }
TDayOfWeek TvlJapaneseCalendarTable::GetFirstWeekDay() { return 0; }

TvlDateTime TvlJapaneseCalendarTable::FromDateTime(TDateTime ADate) {
  TvlDateTime result = TvlGregorianCalendarTable::FromDateTime(ADate);
  result.Era = GetEra(Integer(result.Year), Integer(result.Month), Integer(result.Day));
  TvlEra* e = result.Era >= 0 ? FEras->Items(result.Era) : DefaultEra();
  result.Year = Cardinal(Integer(result.Year) - e->YearOffset());
  return result;
}

TDateTime TvlJapaneseCalendarTable::ToDateTime(const TvlDateTime& ADateTime) {
  if (!IsValidDay(ADateTime.Era, ADateTime.Year, ADateTime.Month, ADateTime.Day)) return MinSupportedDate();
  TvlDateTime d = ADateTime;
  Integer y = Integer(d.Year);
  ConvertYearToGregorian(y, d.Era);
  d.Year = Cardinal(y);
  return TvlGregorianCalendarTable::ToDateTime(d);
}

void TvlTaiwanCalendarTable::AddEras() { FEras->Add(NewEra(1, DateOf(1912, 1, 1), 1911, 1, 8088)); }
Cardinal TvlTaiwanCalendarTable::GetCalendarID() const { return CAL_TAIWAN; }
TvlEra* TvlTaiwanCalendarTable::GetDefaultEra() const { return FEras->Items(0); }
TDateTime TvlTaiwanCalendarTable::GetMinSupportedDate() const { return DefaultEra()->StartDate(); }
Integer TvlTaiwanCalendarTable::GetLastSupportedYear() const { return DefaultEra()->MaxEraYear(); }
Integer TvlTaiwanCalendarTable::GetFirstSupportedYear() const { return DefaultEra()->MinEraYear(); }

void TvlKoreanCalendarTable::AddEras() { FEras->Add(NewEra(0, DateOf(1, 1, 1), -2333, 2334, 12332)); }
Cardinal TvlKoreanCalendarTable::GetCalendarID() const { return CAL_KOREA; }
TvlEra* TvlKoreanCalendarTable::GetDefaultEra() const { return FEras->Items(0); }
TDateTime TvlKoreanCalendarTable::GetMinSupportedDate() const { return DateOf(1, 1, 1); }
Integer TvlKoreanCalendarTable::GetLastSupportedYear() const { return 12332; }
Integer TvlKoreanCalendarTable::GetFirstSupportedYear() const { return 2334; }

void TvlThaiCalendarTable::AddEras() { FEras->Add(NewEra(0, DateOf(1, 1, 1), -543, 544, 10542)); }
Cardinal TvlThaiCalendarTable::GetCalendarID() const { return CAL_THAI; }
TvlEra* TvlThaiCalendarTable::GetDefaultEra() const { return FEras->Items(0); }
TDateTime TvlThaiCalendarTable::GetMinSupportedDate() const { return DateOf(1, 1, 1); }
Integer TvlThaiCalendarTable::GetLastSupportedYear() const { return 10542; }
Integer TvlThaiCalendarTable::GetFirstSupportedYear() const { return 544; }

// ---- Hijri ---------------------------------------------------------------------

void TvlHijriCalendarTable::Create() {
  inherited::Create();
  FDefaultEra = NewEra(-1, vlNullDate, 0, 1, 9999);
}

void TvlHijriCalendarTable::Destroy() {
  FreeAndNil(FDefaultEra);
  inherited::Destroy();
}

TvlCalendarAlgorithmType TvlHijriCalendarTable::GetAlgorithmType() const { return catLunarCalendar; }
Cardinal TvlHijriCalendarTable::GetCalendarID() const { return CAL_HIJRI; }
TvlEra* TvlHijriCalendarTable::GetDefaultEra() const { return FDefaultEra; }
// 1 Muharram 1 (16 July 622 of the Julian calendar's reckoning used by the
// tabular calendar's astronomical epoch) to the last day the day count holds.
TDateTime TvlHijriCalendarTable::GetMinSupportedDate() const { return DateOf(1, 1, 1) + 227013; }
TDateTime TvlHijriCalendarTable::GetMaxSupportedDate() const { return kLastMoment; }
Integer TvlHijriCalendarTable::GetLastSupportedYear() const { return 9666; }
Integer TvlHijriCalendarTable::GetFirstSupportedYear() const { return 1; }
TDayOfWeek TvlHijriCalendarTable::GetFirstWeekDay() { return 6; }
Integer TvlHijriCalendarTable::GetFullWeeksInYear(Cardinal) { return 50; }
Integer TvlHijriCalendarTable::GetMonthsInYear(Integer, Cardinal) { return 12; }

Boolean TvlHijriCalendarTable::IsLeapYear(Integer, Cardinal AYear) { return IsHijriCycleLeap(Integer(AYear % 30)); }

Boolean TvlHijriCalendarTable::IsLeapMonth(Integer AEra, Cardinal AYear, Cardinal AMonth) {
  return AMonth == 12 && IsLeapYear(AEra, AYear);
}

Boolean TvlHijriCalendarTable::IsLeapDay(Integer AEra, Cardinal AYear, Cardinal AMonth, Cardinal ADay) {
  return AMonth == 12 && ADay == 30 && IsLeapYear(AEra, AYear);
}

Integer TvlHijriCalendarTable::GetDaysInMonth(Integer AEra, Cardinal AYear, Cardinal AMonth) {
  if (AMonth < 1 || AMonth > 12) return 0;
  if (AMonth == 12) return IsLeapYear(AEra, AYear) ? 30 : 29;
  return AMonth % 2 == 1 ? 30 : 29;
}

Integer TvlHijriCalendarTable::GetDaysInYear(Integer AEra, Cardinal AYear) {
  return IsLeapYear(AEra, AYear) ? 355 : 354;
}

TDateTime TvlHijriCalendarTable::ToDateTime(const TvlDateTime& ADateTime) {
  if (!IsValidDay(ADateTime.Era, ADateTime.Year, ADateTime.Month, ADateTime.Day)) return MinSupportedDate();
  Int64 y = Int64(ADateTime.Year) - 1;
  Int64 days = 354 * y + 227013 + 11 * (y / 30) + HijriLeapYearsUpTo(Integer(y % 30)) + GetDayOfYear(ADateTime);
  TDateTime day = DateOf(1, 1, 1) + TDateTime(days - 1);
  return WithTime(day, TimeOf(ADateTime));
}

TvlDateTime TvlHijriCalendarTable::FromDateTime(TDateTime ADate) {
  ClampToSupportedDates(ADate);
  TvlDateTime result;
  Int64 n = Int64(std::trunc(ADate - DateOf(1, 1, 1) + 1));
  Int64 b = 30 * n - 6810390;
  Int64 c = b / 10631;
  Int64 year = c + 1;
  Int64 d = n - 354 * c - 11 * (b / 318930) - 227013 - HijriLeapYearsUpTo(Integer(c % 30));
  Cardinal month = 1;
  if (d <= 0) {
    // The last day of the previous year's last month.
    --year;
    month = 12;
    d += GetDaysInMonth(-1, Cardinal(year), 12);
    while (d <= 0) {
      --month;
      d += GetDaysInMonth(-1, Cardinal(year), month);
    }
  }
  while (d > GetDaysInMonth(-1, Cardinal(year), month)) {
    d -= GetDaysInMonth(-1, Cardinal(year), month);
    if (++month > 12) {
      month = 1;
      ++year;
    }
  }
  result.Era = -1;
  result.Year = Cardinal(year);
  result.Month = month;
  result.Day = Cardinal(d);
  SetTime(result, ADate);
  return result;
}

Cardinal TvlHijriCalendarTable::GetWeekNumber(const TvlDateTime& ADate, TDayOfWeek,
                                              TvlFirstWeekOfYear AFirstWeekOfYear) {
  return LunarWeekNumber(this, ADate, AFirstWeekOfYear);
}

Cardinal TvlHijriCalendarTable::GetMonthNumber(Cardinal AYear, const String& S) {
  for (Cardinal m = 1; m <= 12; ++m) {
    String name;
    vlGetMonthName(AYear, m, this, name);
    if (!name.empty() && AnsiSameText(name, S)) return m;
  }
  return inherited::GetMonthNumber(AYear, S);
}

// ---- Hebrew --------------------------------------------------------------------

void TvlHebrewCalendarTable::Create() {
  inherited::Create();
  FDefaultEra = NewEra(-1, vlNullDate, 0, 1, 9999);
}

void TvlHebrewCalendarTable::Destroy() {
  FreeAndNil(FDefaultEra);
  inherited::Destroy();
}

TvlCalendarAlgorithmType TvlHebrewCalendarTable::GetAlgorithmType() const { return catLunarSolarCalendar; }
Cardinal TvlHebrewCalendarTable::GetCalendarID() const { return CAL_HEBREW; }
TvlEra* TvlHebrewCalendarTable::GetDefaultEra() const { return FDefaultEra; }
TDateTime TvlHebrewCalendarTable::GetMinSupportedDate() const { return DateOf(1583, 1, 1); }
TDateTime TvlHebrewCalendarTable::GetMaxSupportedDate() const {
  return DateOf(2239, 9, 29) + EncodeTime(23, 59, 59, 999);
}
Integer TvlHebrewCalendarTable::GetLastSupportedYear() const { return kHebrewLastGregorianYear + kHebrewYearShift; }
Integer TvlHebrewCalendarTable::GetFirstSupportedYear() const {
  return kHebrewFirstGregorianYear + kHebrewYearShift;
}
TDayOfWeek TvlHebrewCalendarTable::GetFirstWeekDay() { return 0; }

Integer TvlHebrewCalendarTable::GetYearType(Cardinal AYear) {
  const THebrewJanuaryFirst* e = HebrewEntry(AYear);
  if (!e) return 0;
  return e->Kind > 3 ? e->Kind - 3 : e->Kind;
}

Boolean TvlHebrewCalendarTable::IsLeapYear(Integer, Cardinal AYear) {
  const THebrewJanuaryFirst* e = HebrewEntry(AYear);
  return e && e->Kind > 3;
}

Boolean TvlHebrewCalendarTable::IsLeapMonth(Integer AEra, Cardinal AYear, Cardinal AMonth) {
  return AMonth == 7 && IsLeapYear(AEra, AYear);
}

Boolean TvlHebrewCalendarTable::IsLeapDay(Integer AEra, Cardinal AYear, Cardinal AMonth, Cardinal ADay) {
  return IsLeapMonth(AEra, AYear, AMonth) && IsValidDay(AEra, AYear, AMonth, ADay);
}

Integer TvlHebrewCalendarTable::GetDaysInMonth(Integer AEra, Cardinal AYear, Cardinal AMonth) {
  if (AMonth < 1 || AMonth > 13) return 0;
  return HebrewMonthLength(GetYearType(AYear), IsLeapYear(AEra, AYear), Integer(AMonth));
}

Integer TvlHebrewCalendarTable::GetDaysInYear(Integer AEra, Cardinal AYear) {
  Integer kind = GetYearType(AYear);
  Integer days = kind == 0 ? 354 : 352 + kind;
  return IsLeapYear(AEra, AYear) ? days + 30 : days;
}

Integer TvlHebrewCalendarTable::GetMonthsInYear(Integer AEra, Cardinal AYear) {
  return IsLeapYear(AEra, AYear) ? 13 : 12;
}

Integer TvlHebrewCalendarTable::GetFullWeeksInYear(Cardinal AYear) { return GetDaysInYear(AYear) / 7; }

TDateTime TvlHebrewCalendarTable::ToDateTime(const TvlDateTime& ADateTime) {
  if (!IsValidDay(ADateTime.Era, ADateTime.Year, ADateTime.Month, ADateTime.Day)) return MinSupportedDate();
  const THebrewJanuaryFirst* e = HebrewEntry(ADateTime.Year);
  Integer g = Integer(ADateTime.Year) - kHebrewYearShift;
  Integer kind = GetYearType(ADateTime.Year);
  Boolean leap = IsLeapYear(ADateTime.Year);
  Integer distance = HebrewDayIndex(kind, leap, Integer(ADateTime.Month), Integer(ADateTime.Day)) -
                     HebrewDayIndex(kind, leap, e->Month, e->Day);
  return WithTime(DateOf(Word(g), 1, 1) + distance, TimeOf(ADateTime));
}

TvlDateTime TvlHebrewCalendarTable::FromDateTime(TDateTime ADate) {
  ClampToSupportedDates(ADate);
  Word gy, gm, gd;
  DecodeDate(ADate, gy, gm, gd);
  Cardinal h = Cardinal(gy) + kHebrewYearShift;
  Cardinal month = 1;
  Int64 i = Int64(std::trunc(ADate) - std::trunc(ToDateTime(h, 1, 1))) + 1;
  while (i < 1 || i > GetDaysInMonth(-1, h, month)) {
    if (i < 1) {
      if (month == 1) {
        --h;
        month = Cardinal(GetMonthsInYear(h));
      } else {
        --month;
      }
    } else if (Int64(month) >= GetMonthsInYear(h)) {
      ++h;
      month = 1;
    } else {
      ++month;
    }
    i = Int64(std::trunc(ADate) - std::trunc(ToDateTime(h, month, 1))) + 1;
  }
  TvlDateTime result;
  result.Era = -1;
  result.Year = h;
  result.Month = month;
  result.Day = Cardinal(i);
  SetTime(result, ADate);
  return result;
}

Cardinal TvlHebrewCalendarTable::GetWeekNumber(const TvlDateTime& ADate, TDayOfWeek,
                                               TvlFirstWeekOfYear AFirstWeekOfYear) {
  return LunarWeekNumber(this, ADate, AFirstWeekOfYear);
}

Cardinal TvlHebrewCalendarTable::GetDayNumber(const String& S) {
  Integer v = vlHebrewNumeralValue(S);
  return v > 0 ? Cardinal(v) : inherited::GetDayNumber(S);
}

Integer TvlHebrewCalendarTable::GetYearNumber(const String& S) {
  Integer v = vlHebrewNumeralValue(S);
  return v > 0 ? v + 5000 : inherited::GetYearNumber(S);
}

Cardinal TvlHebrewCalendarTable::GetMonthNumber(Cardinal AYear, const String& S) {
  Integer v = vlHebrewNumeralValue(S);
  if (v > 0 && IsValidMonth(AYear, Cardinal(v))) return Cardinal(v);
  for (Cardinal m = 1; m <= 13; ++m) {
    String text;
    vlGetMonthName(AYear, m, this, text);
    if (!text.empty() && AnsiSameText(text, S)) return m;
    vlGetCalendarNumberText(Integer(m), this, text);
    if (!text.empty() && AnsiSameText(text, S)) return m;
  }
  return inherited::GetMonthNumber(AYear, S);
}

Integer vlHebrewNumeralValue(const String& S) {
  // Code page positions 224 (alef) .. 250 (tav); the final forms at 234,
  // 237, 239, 243 and 245 count as the table gives them.
  static const Integer kCodePageValues[27] = {1,  2,  3,  4,  5,  6,  7,  8,  9,   10,  0,   20,  30, 40,
                                              40, 50, 50, 60, 70, 0,  80, 80, 90,  100, 200, 300, 400};
  // Unicode alef (U+05D0) .. tav (U+05EA); final forms count as their letter.
  static const Integer kUnicodeValues[27] = {1,  2,  3,  4,  5,  6,  7,  8,  9,   10,  20,  20,  30, 40,
                                             40, 50, 50, 60, 70, 80, 80, 90, 90,  100, 200, 300, 400};
  Integer result = 0;
  for (Char c : S) {
    if (c >= 224 && c <= 250)
      result += kCodePageValues[c - 224];
    else if (c >= 0x05D0 && c <= 0x05EA)
      result += kUnicodeValues[c - 0x05D0];
  }
  return result;
}
