#include "platform/rtl/DateTime.h"

#include <sched.h>
#include <unicode/uchar.h>

#include <atomic>
#include <cerrno>
#include <cmath>
#include <ctime>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Locale.h"

namespace {

constexpr Word kMonthDays[2][12] = {{31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31},
                                    {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31}};

// Time-stamp days beyond this many milliseconds either way are clamped, so
// that absurd or non-finite values decode to some date instead of overflowing.
constexpr double kMaxMSecs = 1e15;

String IntText(Integer Value) {
  String out;
  if (Value < 0) out += u'-';
  AppendZeroPadded(out, Value < 0 ? 0u - static_cast<unsigned>(Value) : static_cast<unsigned>(Value), 1);
  return out;
}

[[noreturn]] void RaiseConvert(const char16_t* Kind, const String& S) {
  throw EConvertError(u"'" + S + u"' is not a valid " + Kind);
}

Char FoldCase(Char C) {
  return C >= 0xD800 && C <= 0xDFFF ? C : static_cast<Char>(u_foldCase(C, U_FOLD_CASE_DEFAULT));
}

// ---------------------------------------------------------------------------
// Formatting

bool AsciiLetterUpper(Char C, Char& Upper) {
  if (C >= u'a' && C <= u'z') {
    Upper = static_cast<Char>(C - 32);
    return true;
  }
  Upper = C;
  return C >= u'A' && C <= u'Z';
}

// Case-insensitive match of an ASCII word at position I.
bool MatchAt(const String& S, size_t I, std::u16string_view Word) {
  if (S.size() - I < Word.size()) return false;
  for (size_t k = 0; k < Word.size(); ++k) {
    Char c = S[I + k];
    if (c >= u'a' && c <= u'z') c = static_cast<Char>(c - 32);
    if (c != Word[k]) return false;
  }
  return true;
}

class TDateFormatter {
 public:
  TDateFormatter(TDateTime ADateTime, const TFormatSettings& ASettings) : DateTime(ADateTime), FS(ASettings) {}

  void Append(const String& Format) {
    if (Level >= 2) return;
    ++Level;
    Char lastToken = u' ';
    bool use12Hour = false;
    size_t i = 0, n = Format.size();
    auto count = [&](Char starter) {
      size_t start = i;
      while (i < n && Format[i] == starter) ++i;
      return static_cast<int>(i - start) + 1;
    };
    while (i < n) {
      Char starter = Format[i++];
      Char token;
      if (AsciiLetterUpper(starter, token)) {
        if (token == u'M' && lastToken == u'H') token = u'N';
        lastToken = token;
      }
      switch (token) {
        case u'Y': {
          int c = count(starter);
          GetDate();
          if (c <= 2) AppendZeroPadded(Out, Year % 100, 2);
          else AppendZeroPadded(Out, Year, 4);
          break;
        }
        case u'G': {
          count(starter);
          // The era of the Gregorian calendar has no name in either locale.
          break;
        }
        case u'M': {
          int c = count(starter);
          GetDate();
          if (c <= 2) AppendZeroPadded(Out, Month, c);
          else if (Month >= 1) Out += c == 3 ? FS.ShortMonthNames[Month - 1] : FS.LongMonthNames[Month - 1];
          break;
        }
        case u'D': {
          int c = count(starter);
          if (c <= 2) {
            GetDate();
            AppendZeroPadded(Out, Day, c);
          } else if (c == 3) {
            Out += FS.ShortDayNames[DayOfWeek(DateTime) - 1];
          } else if (c == 4) {
            Out += FS.LongDayNames[DayOfWeek(DateTime) - 1];
          } else if (c == 5) {
            Append(FS.ShortDateFormat);
          } else {
            Append(FS.LongDateFormat);
          }
          break;
        }
        case u'H': {
          int c = count(starter);
          GetTime();
          // A 12-hour marker later in the format, before the next hour and
          // outside quotes, makes this a 12-hour clock.
          bool quoted = false;
          for (size_t p = i; p < n; ++p) {
            Char ch = Format[p];
            if (ch == u'\'' || ch == u'"') {
              quoted = !quoted;
            } else if (!quoted && (ch == u'A' || ch == u'a')) {
              if (MatchAt(Format, p, u"AM/PM") || MatchAt(Format, p, u"A/P") || MatchAt(Format, p, u"AMPM"))
                use12Hour = true;
              break;
            } else if (ch == u'H' || ch == u'h') {
              break;
            }
          }
          unsigned h = Hour;
          if (use12Hour) h = h == 0 ? 12 : (h > 12 ? h - 12 : h);
          AppendZeroPadded(Out, h, c > 2 ? 2 : c);
          break;
        }
        case u'N': {
          int c = count(starter);
          GetTime();
          AppendZeroPadded(Out, Min, c > 2 ? 2 : c);
          break;
        }
        case u'S': {
          int c = count(starter);
          GetTime();
          AppendZeroPadded(Out, Sec, c > 2 ? 2 : c);
          break;
        }
        case u'T': {
          int c = count(starter);
          Append(c == 1 ? FS.ShortTimeFormat : FS.LongTimeFormat);
          break;
        }
        case u'Z': {
          int c = count(starter);
          GetTime();
          AppendZeroPadded(Out, MSec, c > 3 ? 3 : c);
          break;
        }
        case u'A': {
          GetTime();
          size_t p = i - 1;
          if (MatchAt(Format, p, u"AM/PM")) {
            // The marker is written in the letter case of the format.
            Out += Format.substr(Hour >= 12 ? p + 3 : p, 2);
            i += 4;
            use12Hour = true;
          } else if (MatchAt(Format, p, u"A/P")) {
            Out += Format[Hour >= 12 ? p + 2 : p];
            i += 2;
            use12Hour = true;
          } else if (MatchAt(Format, p, u"AMPM")) {
            Out += Hour < 12 ? FS.TimeAMString : FS.TimePMString;
            i += 3;
            use12Hour = true;
          } else if (MatchAt(Format, p, u"AAAA")) {
            Out += FS.LongDayNames[DayOfWeek(DateTime) - 1];
            i += 3;
          } else if (MatchAt(Format, p, u"AAA")) {
            Out += FS.ShortDayNames[DayOfWeek(DateTime) - 1];
            i += 2;
          } else {
            Out += starter;
          }
          break;
        }
        case u'C': {
          count(starter);
          Append(FS.ShortDateFormat);
          GetTime();
          if (Hour != 0 || Min != 0 || Sec != 0) {
            Out += u' ';
            Append(FS.LongTimeFormat);
          }
          break;
        }
        case u'/':
          if (FS.DateSeparator != 0) Out += FS.DateSeparator;
          break;
        case u':':
          if (FS.TimeSeparator != 0) Out += FS.TimeSeparator;
          break;
        case u'\'':
        case u'"': {
          size_t start = i;
          while (i < n && Format[i] != starter) ++i;
          Out.append(Format, start, i - start);
          if (i < n) ++i;
          break;
        }
        default:
          Out += starter;
          break;
      }
    }
    --Level;
  }

  String Out;

 private:
  void GetDate() {
    if (!DateDecoded) DecodeDate(DateTime, Year, Month, Day);
    DateDecoded = true;
  }
  void GetTime() {
    if (!TimeDecoded) DecodeTime(DateTime, Hour, Min, Sec, MSec);
    TimeDecoded = true;
  }

  TDateTime DateTime;
  const TFormatSettings& FS;
  int Level = 0;
  bool DateDecoded = false, TimeDecoded = false;
  Word Year = 0, Month = 0, Day = 0, Hour = 0, Min = 0, Sec = 0, MSec = 0;
};

// ---------------------------------------------------------------------------
// Reading

enum class TDateOrder { MDY, DMY, YMD };

// The order of day, month and year: the first of the letters d, m, y (or e)
// in the short date format decides.
TDateOrder GetDateOrder(const String& Format) {
  for (Char c : Format) {
    switch (c) {
      case u'E': case u'e': case u'Y': case u'y': return TDateOrder::YMD;
      case u'M': case u'm': return TDateOrder::MDY;
      case u'D': case u'd': return TDateOrder::DMY;
      default: break;
    }
  }
  return TDateOrder::MDY;
}

class TDateScanner {
 public:
  TDateScanner(const String& AText, const TFormatSettings& ASettings) : S(AText), FS(ASettings) {}

  bool AtEnd() const { return Pos >= S.size(); }

  void ScanBlanks() {
    while (Pos < S.size() && S[Pos] == u' ') ++Pos;
  }

  // Up to four digits (reading stops once the value reaches 1000).
  bool ScanNumber(Word& Number, size_t& Digits) {
    ScanBlanks();
    size_t i = Pos;
    unsigned v = 0;
    while (i < S.size() && S[i] >= u'0' && S[i] <= u'9' && v < 1000) {
      v = v * 10 + (S[i] - u'0');
      ++i;
    }
    if (i == Pos) return false;
    Digits = i - Pos;
    Pos = i;
    Number = static_cast<Word>(v);
    return true;
  }

  bool ScanChar(Char C) {
    ScanBlanks();
    if (C != 0 && Pos < S.size() && S[Pos] == C) {
      ++Pos;
      return true;
    }
    return false;
  }

  bool ScanString(const String& Symbol) {
    if (Symbol.empty()) return false;
    ScanBlanks();
    if (S.size() - Pos < Symbol.size()) return false;
    for (size_t k = 0; k < Symbol.size(); ++k) {
      if (FoldCase(S[Pos + k]) != FoldCase(Symbol[k])) return false;
    }
    Pos += Symbol.size();
    return true;
  }

  bool ScanDate(TDateTime& Date) {
    TDateOrder order = GetDateOrder(FS.ShortDateFormat);
    Word n1 = 0, n2 = 0, n3 = 0;
    size_t l1 = 0, l2 = 0, l3 = 0;
    if (!(ScanNumber(n1, l1) && ScanChar(FS.DateSeparator) && ScanNumber(n2, l2))) return false;
    int y = 0, m = 0, d = 0;
    if (ScanChar(FS.DateSeparator)) {
      if (!ScanNumber(n3, l3)) return false;
      size_t yearLen = 0;
      switch (order) {
        case TDateOrder::MDY: y = n3; yearLen = l3; m = n1; d = n2; break;
        case TDateOrder::DMY: y = n3; yearLen = l3; m = n2; d = n1; break;
        case TDateOrder::YMD: y = n1; yearLen = l1; m = n2; d = n3; break;
      }
      if (yearLen <= 2) {
        int centuryBase = static_cast<int>(CurrentYear()) - FS.TwoDigitYearCenturyWindow;
        y += centuryBase / 100 * 100;
        if (FS.TwoDigitYearCenturyWindow > 0 && y < centuryBase) y += 100;
      }
    } else {
      y = CurrentYear();
      if (order == TDateOrder::DMY) {
        d = n1;
        m = n2;
      } else {
        m = n1;
        d = n2;
      }
    }
    // A closing separator ("31.12.") is allowed.
    ScanChar(FS.DateSeparator);
    ScanBlanks();
    if (y < 1 || y > 9999) return false;
    return TryEncodeDate(static_cast<Word>(y), static_cast<Word>(m), static_cast<Word>(d), Date);
  }

  bool ScanTime(TDateTime& Time) {
    int baseHour = -1;
    if (ScanString(FS.TimeAMString) || ScanString(u"AM")) baseHour = 0;
    else if (ScanString(FS.TimePMString) || ScanString(u"PM")) baseHour = 12;
    Word hour = 0, min = 0, sec = 0, msec = 0;
    size_t digits = 0;
    if (!ScanNumber(hour, digits)) return false;
    if (ScanChar(FS.TimeSeparator)) {
      if (!ScanNumber(min, digits)) return false;
      if (ScanChar(FS.TimeSeparator)) {
        if (!ScanNumber(sec, digits)) return false;
        if (ScanChar(FS.DecimalSeparator) && !ScanNumber(msec, digits)) return false;
      }
    }
    if (baseHour < 0) {
      if (ScanString(FS.TimeAMString) || ScanString(u"AM")) baseHour = 0;
      else if (ScanString(FS.TimePMString) || ScanString(u"PM")) baseHour = 12;
    }
    if (baseHour >= 0) {
      if (hour == 0 || hour > 12) return false;
      if (hour == 12) hour = 0;
      hour = static_cast<Word>(hour + baseHour);
    }
    ScanBlanks();
    return TryEncodeTime(hour, min, sec, msec, Time);
  }

 private:
  const String& S;
  const TFormatSettings& FS;
  size_t Pos = 0;
};

// The tick counter's offset from CLOCK_MONOTONIC, in milliseconds (wrapping).
std::atomic<UInt64> gTickOffset{0};

UInt64 MonotonicMSecs() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<UInt64>(ts.tv_sec) * 1000u + static_cast<UInt64>(ts.tv_nsec) / 1000000u;
}

}  // namespace

void AppendZeroPadded(String& Out, unsigned Value, int MinDigits) {
  char16_t buf[12];
  int n = 0;
  do {
    buf[n++] = static_cast<char16_t>(u'0' + Value % 10);
    Value /= 10;
  } while (Value != 0 && n < 12);
  for (int i = n; i < MinDigits; ++i) Out += u'0';
  while (n > 0) Out += buf[--n];
}


// ---------------------------------------------------------------------------
// Calendar

bool IsLeapYear(Word Year) { return Year % 4 == 0 && (Year % 100 != 0 || Year % 400 == 0); }

Word DaysInAMonth(Word Year, Word Month) {
  if (Month < 1 || Month > 12) return 0;
  return kMonthDays[IsLeapYear(Year) ? 1 : 0][Month - 1];
}

Word DaysInMonth(TDateTime DateTime) {
  Word y, m, d;
  DecodeDate(DateTime, y, m, d);
  return DaysInAMonth(y, m);
}

bool TryEncodeDate(Word Year, Word Month, Word Day, TDateTime& Date) {
  if (Year < 1 || Year > 9999 || Month < 1 || Month > 12) return false;
  const Word* table = kMonthDays[IsLeapYear(Year) ? 1 : 0];
  if (Day < 1 || Day > table[Month - 1]) return false;
  Integer days = Day;
  for (int i = 0; i < Month - 1; ++i) days += table[i];
  Integer y = Year - 1;
  Date = static_cast<double>(y * 365 + y / 4 - y / 100 + y / 400 + days - DateDelta);
  return true;
}

TDateTime EncodeDate(Word Year, Word Month, Word Day) {
  TDateTime result;
  if (!TryEncodeDate(Year, Month, Day, result)) throw EConvertError(u"Invalid argument to date encode");
  return result;
}

bool TryEncodeTime(Word Hour, Word Min, Word Sec, Word MSec, TDateTime& Time) {
  if (Hour >= HoursPerDay || Min >= MinsPerHour || Sec >= SecsPerMin || MSec >= MSecsPerSec) return false;
  Integer ms = Hour * 3600000 + Min * 60000 + Sec * 1000 + MSec;
  Time = static_cast<double>(ms) / MSecsPerDay;
  return true;
}

TDateTime EncodeTime(Word Hour, Word Min, Word Sec, Word MSec) {
  TDateTime result;
  if (!TryEncodeTime(Hour, Min, Sec, MSec, result)) throw EConvertError(u"Invalid argument to time encode");
  return result;
}

bool TryEncodeDateTime(Word Year, Word Month, Word Day, Word Hour, Word Min, Word Sec, Word MSec,
                       TDateTime& Value) {
  TDateTime date, time;
  if (!TryEncodeDate(Year, Month, Day, date) || !TryEncodeTime(Hour, Min, Sec, MSec, time)) return false;
  Value = date >= 0 ? date + time : date - time;
  return true;
}

TDateTime EncodeDateTime(Word Year, Word Month, Word Day, Word Hour, Word Min, Word Sec, Word MSec) {
  TDateTime date = EncodeDate(Year, Month, Day);
  TDateTime time = EncodeTime(Hour, Min, Sec, MSec);
  return date >= 0 ? date + time : date - time;
}

TTimeStamp DateTimeToTimeStamp(TDateTime DateTime) {
  double ms = DateTime * MSecsPerDay;
  if (!std::isfinite(ms)) ms = 0;
  if (ms > kMaxMSecs) ms = kMaxMSecs;
  if (ms < -kMaxMSecs) ms = -kMaxMSecs;
  // Rounded half to even, as the platform rounds.
  Int64 t = static_cast<Int64>(std::nearbyint(ms));
  TTimeStamp result;
  result.Date = static_cast<Integer>(DateDelta + t / MSecsPerDay);
  result.Time = static_cast<Integer>((t < 0 ? -t : t) % MSecsPerDay);
  return result;
}

TDateTime TimeStampToDateTime(const TTimeStamp& TimeStamp) {
  if (TimeStamp.Time < 0 || TimeStamp.Date <= 0) {
    String text = IntText(TimeStamp.Date) + u"." + IntText(TimeStamp.Time);
    throw EConvertError(u"'" + text + u"' is not a valid timestamp");
  }
  double date = static_cast<double>(TimeStamp.Date) - DateDelta;
  double time = std::fabs(std::fmod(static_cast<double>(TimeStamp.Time) / MSecsPerDay, 1.0));
  return date < 0 ? date - time : date + time;
}

TTimeStamp MSecsToTimeStamp(Int64 MSecs) {
  TTimeStamp result;
  if (MSecs < 0) MSecs = 0;
  result.Date = static_cast<Integer>(MSecs / MSecsPerDay);
  result.Time = static_cast<Integer>(MSecs % MSecsPerDay);
  return result;
}

Int64 TimeStampToMSecs(const TTimeStamp& TimeStamp) {
  return static_cast<Int64>(TimeStamp.Date) * MSecsPerDay + TimeStamp.Time;
}

bool DecodeDateFully(TDateTime DateTime, Word& Year, Word& Month, Word& Day, Word& DOW) {
  Integer t = DateTimeToTimeStamp(DateTime).Date;
  if (t <= 0) {
    Year = Month = Day = DOW = 0;
    return false;
  }
  DOW = static_cast<Word>(t % 7 + 1);
  --t;
  constexpr Integer D1 = 365, D4 = D1 * 4 + 1, D100 = D4 * 25 - 1, D400 = D100 * 4 + 1;
  Integer y = 1 + t / D400 * 400;
  t %= D400;
  Integer i = t / D100, d = t % D100;
  if (i == 4) {
    --i;
    d += D100;
  }
  y += i * 100;
  i = d / D4;
  d %= D4;
  y += i * 4;
  i = d / D1;
  d %= D1;
  if (i == 4) {
    --i;
    d += D1;
  }
  y += i;
  bool leap = IsLeapYear(static_cast<Word>(y));
  const Word* table = kMonthDays[leap ? 1 : 0];
  int m = 0;
  while (d >= table[m]) {
    d -= table[m];
    ++m;
  }
  Year = static_cast<Word>(y);
  Month = static_cast<Word>(m + 1);
  Day = static_cast<Word>(d + 1);
  return leap;
}

void DecodeDate(TDateTime DateTime, Word& Year, Word& Month, Word& Day) {
  Word dow;
  DecodeDateFully(DateTime, Year, Month, Day, dow);
}

void DecodeTime(TDateTime DateTime, Word& Hour, Word& Min, Word& Sec, Word& MSec) {
  Integer ms = DateTimeToTimeStamp(DateTime).Time;
  Hour = static_cast<Word>(ms / 3600000);
  ms %= 3600000;
  Min = static_cast<Word>(ms / 60000);
  ms %= 60000;
  Sec = static_cast<Word>(ms / 1000);
  MSec = static_cast<Word>(ms % 1000);
}

void DecodeDateTime(TDateTime DateTime, Word& Year, Word& Month, Word& Day, Word& Hour, Word& Min, Word& Sec,
                    Word& MSec) {
  DecodeDate(DateTime, Year, Month, Day);
  DecodeTime(DateTime, Hour, Min, Sec, MSec);
}

Word DayOfWeek(TDateTime DateTime) {
  Integer t = DateTimeToTimeStamp(DateTime).Date;
  return static_cast<Word>((t % 7 + 7) % 7 + 1);
}

void IncAMonth(Word& Year, Word& Month, Word& Day, Integer NumberOfMonths) {
  // Worked in 64 bits; a year outside 1..9999 is left for EncodeDate to refuse.
  Int64 months = static_cast<Int64>(Year) * 12 + (Month - 1) + NumberOfMonths;
  Int64 y = months >= 0 ? months / 12 : -((-months + 11) / 12);
  Int64 m = months - y * 12 + 1;
  Year = static_cast<Word>(y < 0 ? 0 : (y > 0xFFFF ? 0xFFFF : y));
  Month = static_cast<Word>(m);
  Word last = DaysInAMonth(Year, Month);
  if (Day > last) Day = last;
}

TDateTime IncMonth(TDateTime DateTime, Integer NumberOfMonths) {
  Word y, m, d;
  DecodeDate(DateTime, y, m, d);
  IncAMonth(y, m, d, NumberOfMonths);
  TDateTime result = EncodeDate(y, m, d);
  ReplaceTime(result, DateTime);
  return result;
}

void ReplaceTime(TDateTime& DateTime, TDateTime NewTime) {
  DateTime = std::trunc(DateTime);
  double frac = std::fabs(NewTime - std::trunc(NewTime));
  if (DateTime >= 0) DateTime += frac;
  else DateTime -= frac;
}

void ReplaceDate(TDateTime& DateTime, TDateTime NewDate) {
  TDateTime temp = NewDate;
  ReplaceTime(temp, DateTime);
  DateTime = temp;
}

// ---------------------------------------------------------------------------
// Clock

TDateTime Now() {
  timespec ts{};
  clock_gettime(CLOCK_REALTIME, &ts);
  std::tm tm{};
  time_t secs = ts.tv_sec;
  localtime_r(&secs, &tm);
  TDateTime date = EncodeDate(static_cast<Word>(tm.tm_year + 1900), static_cast<Word>(tm.tm_mon + 1),
                              static_cast<Word>(tm.tm_mday));
  Word sec = static_cast<Word>(tm.tm_sec > 59 ? 59 : tm.tm_sec);  // a leap second reads as :59
  TDateTime time = EncodeTime(static_cast<Word>(tm.tm_hour), static_cast<Word>(tm.tm_min), sec,
                              static_cast<Word>(ts.tv_nsec / 1000000));
  return date + time;
}

TDateTime Date() { return std::trunc(Now()); }

TDateTime Time() {
  TDateTime now = Now();
  return now - std::trunc(now);
}

Word CurrentYear() {
  Word y, m, d;
  DecodeDate(Now(), y, m, d);
  return y;
}

// ---------------------------------------------------------------------------
// Formatting

void DateTimeToString(String& Result, const String& Format, TDateTime DateTime, const TFormatSettings& Settings) {
  TDateFormatter f(DateTime, Settings);
  f.Append(Format.empty() ? String(u"C") : Format);
  Result = std::move(f.Out);
}

void DateTimeToString(String& Result, const String& Format, TDateTime DateTime) {
  DateTimeToString(Result, Format, DateTime, FormatSettings());
}

String FormatDateTime(const String& Format, TDateTime DateTime, const TFormatSettings& Settings) {
  String result;
  DateTimeToString(result, Format, DateTime, Settings);
  return result;
}

String FormatDateTime(const String& Format, TDateTime DateTime) {
  return FormatDateTime(Format, DateTime, FormatSettings());
}

String DateTimeToStr(TDateTime DateTime, const TFormatSettings& Settings) {
  return FormatDateTime(String(), DateTime, Settings);
}
String DateTimeToStr(TDateTime DateTime) { return DateTimeToStr(DateTime, FormatSettings()); }

String DateToStr(TDateTime DateTime, const TFormatSettings& Settings) {
  return FormatDateTime(Settings.ShortDateFormat, DateTime, Settings);
}
String DateToStr(TDateTime DateTime) { return DateToStr(DateTime, FormatSettings()); }

String TimeToStr(TDateTime DateTime, const TFormatSettings& Settings) {
  return FormatDateTime(Settings.LongTimeFormat, DateTime, Settings);
}
String TimeToStr(TDateTime DateTime) { return TimeToStr(DateTime, FormatSettings()); }

// ---------------------------------------------------------------------------
// Reading

bool TryStrToDate(const String& S, TDateTime& Value, const TFormatSettings& Settings) {
  TDateScanner scanner(S, Settings);
  TDateTime date;
  if (!scanner.ScanDate(date) || !scanner.AtEnd()) return false;
  Value = date;
  return true;
}
bool TryStrToDate(const String& S, TDateTime& Value) { return TryStrToDate(S, Value, FormatSettings()); }

TDateTime StrToDate(const String& S, const TFormatSettings& Settings) {
  TDateTime result;
  if (!TryStrToDate(S, result, Settings)) RaiseConvert(u"date", S);
  return result;
}
TDateTime StrToDate(const String& S) { return StrToDate(S, FormatSettings()); }

TDateTime StrToDateDef(const String& S, TDateTime Default, const TFormatSettings& Settings) {
  TDateTime result;
  return TryStrToDate(S, result, Settings) ? result : Default;
}
TDateTime StrToDateDef(const String& S, TDateTime Default) { return StrToDateDef(S, Default, FormatSettings()); }

bool TryStrToTime(const String& S, TDateTime& Value, const TFormatSettings& Settings) {
  TDateScanner scanner(S, Settings);
  TDateTime time;
  if (!scanner.ScanTime(time) || !scanner.AtEnd()) return false;
  Value = time;
  return true;
}
bool TryStrToTime(const String& S, TDateTime& Value) { return TryStrToTime(S, Value, FormatSettings()); }

TDateTime StrToTime(const String& S, const TFormatSettings& Settings) {
  TDateTime result;
  if (!TryStrToTime(S, result, Settings)) RaiseConvert(u"time", S);
  return result;
}
TDateTime StrToTime(const String& S) { return StrToTime(S, FormatSettings()); }

TDateTime StrToTimeDef(const String& S, TDateTime Default, const TFormatSettings& Settings) {
  TDateTime result;
  return TryStrToTime(S, result, Settings) ? result : Default;
}
TDateTime StrToTimeDef(const String& S, TDateTime Default) { return StrToTimeDef(S, Default, FormatSettings()); }

bool TryStrToDateTime(const String& S, TDateTime& Value, const TFormatSettings& Settings) {
  TDateScanner scanner(S, Settings);
  TDateTime date, time = 0;
  if (scanner.ScanDate(date) && (scanner.AtEnd() || (scanner.ScanTime(time) && scanner.AtEnd()))) {
    Value = date >= 0 ? date + time : date - time;
    return true;
  }
  // A time alone.
  return TryStrToTime(S, Value, Settings);
}
bool TryStrToDateTime(const String& S, TDateTime& Value) { return TryStrToDateTime(S, Value, FormatSettings()); }

TDateTime StrToDateTime(const String& S, const TFormatSettings& Settings) {
  TDateTime result;
  if (!TryStrToDateTime(S, result, Settings)) RaiseConvert(u"date and time", S);
  return result;
}
TDateTime StrToDateTime(const String& S) { return StrToDateTime(S, FormatSettings()); }

TDateTime StrToDateTimeDef(const String& S, TDateTime Default, const TFormatSettings& Settings) {
  TDateTime result;
  return TryStrToDateTime(S, result, Settings) ? result : Default;
}
TDateTime StrToDateTimeDef(const String& S, TDateTime Default) {
  return StrToDateTimeDef(S, Default, FormatSettings());
}

// ---------------------------------------------------------------------------
// Tick counter and sleeping

UInt64 GetTickCount64() { return MonotonicMSecs() + gTickOffset.load(std::memory_order_relaxed); }

Cardinal GetTickCount() { return TickCount32(GetTickCount64()); }

void SetTickCount64(UInt64 Ticks) { gTickOffset.store(Ticks - MonotonicMSecs(), std::memory_order_relaxed); }

void Sleep(Cardinal Milliseconds) {
  if (Milliseconds == 0) {
    sched_yield();
    return;
  }
  timespec req{static_cast<time_t>(Milliseconds / 1000), static_cast<long>(Milliseconds % 1000) * 1000000L};
  timespec rem{};
  while (nanosleep(&req, &rem) != 0 && errno == EINTR) req = rem;
}
