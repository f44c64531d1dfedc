#include "platform/rtl/Locale.h"

#include "platform/rtl/DateTime.h"

#include <cstdlib>
#include <cstring>
#include <string_view>
#include <vector>

namespace {

// The data of one locale, as the platform answers it for that locale by
// default (no user overrides). Day names run Sunday first here; the locale
// items number them Monday first.
struct TLocaleData {
  LCID Id;
  const char* ICUName;
  Cardinal AnsiCodePage;
  const char16_t* Name;           // LOCALE_SNAME
  const char16_t* LanguageId;     // LOCALE_ILANGUAGE
  const char16_t* EnglishLanguage;
  const char16_t* NativeLanguage;
  const char16_t* AbbrevLanguage;
  const char16_t* EnglishCountry;
  const char16_t* CountryCode;    // LOCALE_ICOUNTRY
  const char16_t* OemCodePage;
  const char16_t* List;
  const char16_t* Measure;
  const char16_t* Decimal;
  const char16_t* Thousand;
  const char16_t* Grouping;
  const char16_t* Digits;
  const char16_t* LeadingZero;
  const char16_t* NegNumber;
  const char16_t* Currency;
  const char16_t* IntlSymbol;
  const char16_t* MonDecimal;
  const char16_t* MonThousand;
  const char16_t* CurrDigits;
  const char16_t* CurrencyFormat;  // LOCALE_ICURRENCY
  const char16_t* NegCurrFormat;   // LOCALE_INEGCURR
  const char16_t* DateSep;
  const char16_t* TimeSep;
  const char16_t* ShortDate;
  const char16_t* LongDate;
  const char16_t* TimeFormat;
  const char16_t* ShortTime;
  const char16_t* YearMonth;
  const char16_t* DateOrder;       // LOCALE_IDATE
  const char16_t* LongDateOrder;   // LOCALE_ILDATE
  const char16_t* TimeKind;        // LOCALE_ITIME: 0 = 12 hours, 1 = 24 hours
  const char16_t* TimeMarkPos;     // LOCALE_ITIMEMARKPOSN: 0 = after the time
  const char16_t* HourLeadingZero; // LOCALE_ITLZERO
  const char16_t* DayLeadingZero;
  const char16_t* MonthLeadingZero;
  const char16_t* AM;
  const char16_t* PM;
  const char16_t* FirstDayOfWeek;  // 0 = Monday ... 6 = Sunday
  const char16_t* FirstWeekOfYear;
  const char16_t* Era;
  const char16_t* CalendarName;
  const char16_t* DayNames[7];
  const char16_t* AbbrevDayNames[7];
  const char16_t* ShortestDayNames[7];
  const char16_t* MonthNames[12];
  const char16_t* AbbrevMonthNames[12];
};

constexpr TLocaleData kTurkish = {
    LOCALE_TURKISH, "tr_TR", 1254, u"tr-TR", u"041f", u"Turkish", u"Türkçe", u"TRK", u"Turkey", u"90", u"857",
    u";", u"0", u",", u".", u"3;0", u"2", u"1", u"1", u"TL", u"TRY", u",", u".", u"2", u"3", u"8",
    u".", u":", u"dd.MM.yyyy", u"d MMMM yyyy dddd", u"HH:mm:ss", u"HH:mm", u"MMMM yyyy",
    u"1", u"1", u"1", u"0", u"1", u"1", u"1", u"ÖÖ", u"ÖS", u"0", u"0", u"MS", u"Gregoryen Takvimi",
    {u"Pazar", u"Pazartesi", u"Salı", u"Çarşamba", u"Perşembe", u"Cuma", u"Cumartesi"},
    {u"Paz", u"Pzt", u"Sal", u"Çar", u"Per", u"Cum", u"Cmt"},
    {u"Pz", u"Pt", u"Sa", u"Ça", u"Pe", u"Cu", u"Ct"},
    {u"Ocak", u"Şubat", u"Mart", u"Nisan", u"Mayıs", u"Haziran", u"Temmuz", u"Ağustos", u"Eylül", u"Ekim",
     u"Kasım", u"Aralık"},
    {u"Oca", u"Şub", u"Mar", u"Nis", u"May", u"Haz", u"Tem", u"Ağu", u"Eyl", u"Eki", u"Kas", u"Ara"},
};

constexpr TLocaleData kEnglishUS = {
    LOCALE_ENGLISH_US, "en_US", 1252, u"en-US", u"0409", u"English", u"English", u"ENU", u"United States", u"1",
    u"437", u",", u"1", u".", u",", u"3;0", u"2", u"1", u"1", u"$", u"USD", u".", u",", u"2", u"0", u"0",
    u"/", u":", u"M/d/yyyy", u"dddd, MMMM d, yyyy", u"h:mm:ss tt", u"h:mm tt", u"MMMM, yyyy",
    u"0", u"0", u"0", u"0", u"0", u"0", u"0", u"AM", u"PM", u"6", u"0", u"A.D.", u"Gregorian Calendar",
    {u"Sunday", u"Monday", u"Tuesday", u"Wednesday", u"Thursday", u"Friday", u"Saturday"},
    {u"Sun", u"Mon", u"Tue", u"Wed", u"Thu", u"Fri", u"Sat"},
    {u"Su", u"Mo", u"Tu", u"We", u"Th", u"Fr", u"Sa"},
    {u"January", u"February", u"March", u"April", u"May", u"June", u"July", u"August", u"September", u"October",
     u"November", u"December"},
    {u"Jan", u"Feb", u"Mar", u"Apr", u"May", u"Jun", u"Jul", u"Aug", u"Sep", u"Oct", u"Nov", u"Dec"},
};

constexpr Cardinal kTwoDigitYearMax = 2029;

// The start-up locale: the project's own setting CL_SYSTEM_LOCALE, read once.
// The machine's own locale (LANG, LC_*) is never consulted.
TSystemLocale StartupLocale() { return SystemLocaleFromSetting(std::getenv("CL_SYSTEM_LOCALE")); }

TSystemLocale& CurrentLocale() {
  static TSystemLocale Locale = StartupLocale();
  return Locale;
}

const TLocaleData& SystemData() {
  return CurrentLocale() == TSystemLocale::EnglishUS ? kEnglishUS : kTurkish;
}

// The data of a locale identifier, or nullptr for a locale we do not know.
const TLocaleData* FindLocale(LCID Locale) {
  switch (Locale) {
    case 0:
    case LOCALE_USER_DEFAULT:
    case LOCALE_SYSTEM_DEFAULT:
      return &SystemData();
    case LOCALE_TURKISH:
      return &kTurkish;
    case LOCALE_ENGLISH_US:
      return &kEnglishUS;
    default:
      return nullptr;
  }
}

const char16_t* LocaleItem(const TLocaleData& D, LCTYPE T) {
  if (T >= LOCALE_SDAYNAME1 && T <= LOCALE_SDAYNAME7) return D.DayNames[(T - LOCALE_SDAYNAME1 + 1) % 7];
  if (T >= LOCALE_SABBREVDAYNAME1 && T <= LOCALE_SABBREVDAYNAME7)
    return D.AbbrevDayNames[(T - LOCALE_SABBREVDAYNAME1 + 1) % 7];
  if (T >= LOCALE_SSHORTESTDAYNAME1 && T <= LOCALE_SSHORTESTDAYNAME7)
    return D.ShortestDayNames[(T - LOCALE_SSHORTESTDAYNAME1 + 1) % 7];
  if (T >= LOCALE_SMONTHNAME1 && T <= LOCALE_SMONTHNAME12) return D.MonthNames[T - LOCALE_SMONTHNAME1];
  if (T >= LOCALE_SABBREVMONTHNAME1 && T <= LOCALE_SABBREVMONTHNAME12)
    return D.AbbrevMonthNames[T - LOCALE_SABBREVMONTHNAME1];
  switch (T) {
    case LOCALE_ILANGUAGE: return D.LanguageId;
    case LOCALE_SLANGUAGE: return D.Id == LOCALE_TURKISH ? u"Türkçe (Türkiye)" : u"English (United States)";
    case LOCALE_SENGLANGUAGE: return D.EnglishLanguage;
    case LOCALE_SABBREVLANGNAME: return D.AbbrevLanguage;
    case LOCALE_SNATIVELANGNAME: return D.NativeLanguage;
    case LOCALE_ICOUNTRY: return D.CountryCode;
    case LOCALE_SCOUNTRY: return D.Id == LOCALE_TURKISH ? u"Türkiye" : D.EnglishCountry;
    case LOCALE_SENGCOUNTRY: return D.EnglishCountry;
    case LOCALE_IDEFAULTLANGUAGE: return D.LanguageId;
    case LOCALE_IDEFAULTCOUNTRY: return D.CountryCode;
    case LOCALE_IDEFAULTCODEPAGE: return D.OemCodePage;
    case LOCALE_IDEFAULTANSICODEPAGE: return D.AnsiCodePage == 1254 ? u"1254" : u"1252";
    case LOCALE_SNAME: return D.Name;
    case LOCALE_SLIST: return D.List;
    case LOCALE_IMEASURE: return D.Measure;
    case LOCALE_SDECIMAL: return D.Decimal;
    case LOCALE_STHOUSAND: return D.Thousand;
    case LOCALE_SGROUPING: return D.Grouping;
    case LOCALE_SMONGROUPING: return D.Grouping;
    case LOCALE_IDIGITS: return D.Digits;
    case LOCALE_ILZERO: return D.LeadingZero;
    case LOCALE_INEGNUMBER: return D.NegNumber;
    case LOCALE_SNATIVEDIGITS: return u"0123456789";
    case LOCALE_SCURRENCY: return D.Currency;
    case LOCALE_SINTLSYMBOL: return D.IntlSymbol;
    case LOCALE_SMONDECIMALSEP: return D.MonDecimal;
    case LOCALE_SMONTHOUSANDSEP: return D.MonThousand;
    case LOCALE_ICURRDIGITS: return D.CurrDigits;
    case LOCALE_IINTLCURRDIGITS: return D.CurrDigits;
    case LOCALE_ICURRENCY: return D.CurrencyFormat;
    case LOCALE_INEGCURR: return D.NegCurrFormat;
    case LOCALE_SPOSITIVESIGN: return u"";
    case LOCALE_SNEGATIVESIGN: return u"-";
    case LOCALE_SDATE: return D.DateSep;
    case LOCALE_STIME: return D.TimeSep;
    case LOCALE_SSHORTDATE: return D.ShortDate;
    case LOCALE_SLONGDATE: return D.LongDate;
    case LOCALE_STIMEFORMAT: return D.TimeFormat;
    case LOCALE_SSHORTTIME: return D.ShortTime;
    case LOCALE_SYEARMONTH: return D.YearMonth;
    case LOCALE_IDATE: return D.DateOrder;
    case LOCALE_ILDATE: return D.LongDateOrder;
    case LOCALE_ITIME: return D.TimeKind;
    case LOCALE_ITIMEMARKPOSN: return D.TimeMarkPos;
    case LOCALE_ICENTURY: return u"1";
    case LOCALE_ITLZERO: return D.HourLeadingZero;
    case LOCALE_IDAYLZERO: return D.DayLeadingZero;
    case LOCALE_IMONLZERO: return D.MonthLeadingZero;
    case LOCALE_S1159: return D.AM;
    case LOCALE_S2359: return D.PM;
    case LOCALE_ICALENDARTYPE: return u"1";
    case LOCALE_IOPTIONALCALENDAR: return u"1";
    case LOCALE_IFIRSTDAYOFWEEK: return D.FirstDayOfWeek;
    case LOCALE_IFIRSTWEEKOFYEAR: return D.FirstWeekOfYear;
    case LOCALE_IREADINGLAYOUT: return u"0";
    default: return nullptr;
  }
}

constexpr LCTYPE kFlagMask = LOCALE_NOUSEROVERRIDE | LOCALE_USE_CP_ACP | LOCALE_RETURN_NUMBER;

int ItemInt(const TLocaleData& D, LCTYPE T) {
  const char16_t* s = LocaleItem(D, T);
  int v = 0;
  for (; s != nullptr && *s >= u'0' && *s <= u'9'; ++s) v = v * 10 + (*s - u'0');
  return v;
}

Char FirstChar(const char16_t* S) { return S != nullptr ? S[0] : Char(0); }

// 0 = Sunday ... 6 = Saturday, for a valid Gregorian date.
unsigned WeekDay(unsigned Y, unsigned M, unsigned D) {
  static constexpr unsigned kOffsets[12] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
  if (M < 3) Y -= 1;
  return (Y + Y / 4 - Y / 100 + Y / 400 + kOffsets[M - 1] + D) % 7;
}

// A picture token: a run of one format letter, or literal text.
struct TPictureToken {
  Char Letter = 0;  // 0 for literal text
  size_t Count = 0;
  String Text;
};

// Splits a locale picture into runs of one of Letters and literal text.
// Text in single quotes is literal; '' is a quote, inside quotes or out.
std::vector<TPictureToken> SplitPicture(const String& Picture, std::u16string_view Letters) {
  std::vector<TPictureToken> tokens;
  auto literal = [&tokens]() -> String& {
    if (tokens.empty() || tokens.back().Letter != 0) tokens.emplace_back();
    return tokens.back().Text;
  };
  size_t i = 0, n = Picture.size();
  while (i < n) {
    Char c = Picture[i];
    if (c == u'\'') {
      if (i + 1 < n && Picture[i + 1] == u'\'') {
        literal() += u'\'';
        i += 2;
        continue;
      }
      ++i;
      while (i < n) {
        if (Picture[i] == u'\'') {
          if (i + 1 < n && Picture[i + 1] == u'\'') {
            literal() += u'\'';
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        literal() += Picture[i++];
      }
    } else if (Letters.find(c) != std::u16string_view::npos) {
      size_t j = i;
      while (j < n && Picture[j] == c) ++j;
      TPictureToken t;
      t.Letter = c;
      t.Count = j - i;
      tokens.push_back(std::move(t));
      i = j;
    } else {
      literal() += c;
      ++i;
    }
  }
  return tokens;
}

// Drops the tokens marked false together with the literal text that joins
// each of them to the kept token before it (or after it, when first).
String JoinKept(const std::vector<TPictureToken>& Tokens, const std::vector<bool>& Keep,
                const std::vector<String>& Values) {
  std::vector<bool> keep = Keep;
  size_t n = Tokens.size();
  for (size_t i = 0; i < n; ++i) {
    if (Tokens[i].Letter == 0 || Keep[i]) continue;
    // The literal text back to the previous element goes with it; a first
    // element takes the literal text after it instead.
    size_t j = i;
    while (j > 0 && Tokens[j - 1].Letter == 0) --j;
    if (j > 0) {
      for (size_t k = j; k < i; ++k) keep[k] = false;
    } else {
      for (size_t k = i + 1; k < n && Tokens[k].Letter == 0; ++k) keep[k] = false;
    }
  }
  String out;
  for (size_t i = 0; i < n; ++i) {
    if (!keep[i]) continue;
    out += Tokens[i].Letter == 0 ? Tokens[i].Text : Values[i];
  }
  return out;
}

}  // namespace

TFormatSettings& FormatSettings() {
  // Made on first use, so that no static initializer depends on another's order.
  static TFormatSettings settings = TFormatSettings::Create(LOCALE_USER_DEFAULT);
  return settings;
}

TSystemLocale SystemLocaleFromSetting(const char* Value) {
  if (Value != nullptr && std::strcmp(Value, "en-US") == 0) return TSystemLocale::EnglishUS;
  return TSystemLocale::Turkish;
}

void SetSystemLocale(TSystemLocale ALocale) {
  CurrentLocale() = ALocale;
  FormatSettings() = TFormatSettings::Create(LOCALE_USER_DEFAULT);
}

TSystemLocale SystemLocale() { return CurrentLocale(); }

Cardinal GetACP() { return SystemData().AnsiCodePage; }

LCID GetThreadLocale() { return SystemData().Id; }

LCID GetUserDefaultLCID() { return SystemData().Id; }

const char* SystemLocaleICUName() { return SystemData().ICUName; }

TFormatSettings TFormatSettings::Create(LCID Locale) {
  const TLocaleData* p = FindLocale(Locale);
  const TLocaleData& D = p != nullptr ? *p : SystemData();
  TFormatSettings S;
  S.CurrencyString = D.Currency;
  S.CurrencyFormat = static_cast<Byte>(ItemInt(D, LOCALE_ICURRENCY));
  S.NegCurrFormat = static_cast<Byte>(ItemInt(D, LOCALE_INEGCURR));
  S.CurrencyDecimals = static_cast<Byte>(ItemInt(D, LOCALE_ICURRDIGITS));
  S.ThousandSeparator = FirstChar(D.Thousand);
  S.DecimalSeparator = FirstChar(D.Decimal);
  S.DateSeparator = FirstChar(D.DateSep);
  S.TimeSeparator = FirstChar(D.TimeSep);
  S.ListSeparator = FirstChar(D.List);
  // The date pictures keep their letters: the format language reads d, M and
  // y in either case.
  S.ShortDateFormat = D.ShortDate;
  S.LongDateFormat = D.LongDate;
  // The time formats are built from the hour style, as the platform does.
  String hour = ItemInt(D, LOCALE_ITLZERO) == 0 ? u"h" : u"hh";
  String prefix, postfix;
  if (ItemInt(D, LOCALE_ITIME) == 0) {
    if (ItemInt(D, LOCALE_ITIMEMARKPOSN) == 0) postfix = u" AMPM";
    else prefix = u"AMPM ";
  }
  S.ShortTimeFormat = prefix + hour + u":mm" + postfix;
  S.LongTimeFormat = prefix + hour + u":mm:ss" + postfix;
  S.TimeAMString = D.AM;
  S.TimePMString = D.PM;
  for (int i = 0; i < 12; ++i) {
    S.ShortMonthNames[i] = D.AbbrevMonthNames[i];
    S.LongMonthNames[i] = D.MonthNames[i];
  }
  for (int i = 0; i < 7; ++i) {
    S.ShortDayNames[i] = D.AbbrevDayNames[i];
    S.LongDayNames[i] = D.DayNames[i];
  }
  S.TwoDigitYearCenturyWindow = DefaultTwoDigitYearCenturyWindow;
  return S;
}

bool GetLocaleText(LCID Locale, LCTYPE LCType, String& Text) {
  const TLocaleData* D = FindLocale(Locale);
  if (D == nullptr) return false;
  const char16_t* s = LocaleItem(*D, LCType & ~kFlagMask);
  if (s == nullptr) return false;
  Text = s;
  return true;
}

String GetLocaleStr(LCID Locale, LCTYPE LCType, const String& Default) {
  String text;
  return GetLocaleText(Locale, LCType, text) ? text : Default;
}

bool GetCalendarText(LCID Locale, CALID Calendar, CALTYPE CalType, String& Text, Cardinal* Value) {
  const TLocaleData* D = FindLocale(Locale);
  if (D == nullptr || Calendar != CAL_GREGORIAN) return false;
  Cardinal number = 0;
  bool numeric = false;
  switch (CalType & ~kFlagMask) {
    case CAL_ICALINTVALUE: number = CAL_GREGORIAN; numeric = true; break;
    case CAL_ITWODIGITYEARMAX: number = kTwoDigitYearMax; numeric = true; break;
    case CAL_SCALNAME: Text = D->CalendarName; break;
    case CAL_SSHORTDATE: Text = D->ShortDate; break;
    case CAL_SLONGDATE: Text = D->LongDate; break;
    case CAL_SYEARMONTH: Text = D->YearMonth; break;
    default: return false;
  }
  if (numeric) {
    Text.clear();
    AppendZeroPadded(Text, number, 1);
    if (Value != nullptr) *Value = number;
  }
  return true;
}

bool FormatLocaleDate(LCID Locale, Cardinal Flags, Word Year, Word Month, Word Day, const String& Picture,
                      String& Text) {
  const TLocaleData* D = FindLocale(Locale);
  if (D == nullptr) return false;
  if (Year < 1 || Year > 9999 || Month < 1 || Month > 12 || Day < 1 || Day > DaysInAMonth(static_cast<Word>(Year), static_cast<Word>(Month))) return false;
  String picture = Picture;
  if (picture.empty()) {
    if ((Flags & DATE_LONGDATE) != 0) picture = D->LongDate;
    else if ((Flags & DATE_YEARMONTH) != 0) picture = D->YearMonth;
    else picture = D->ShortDate;
  } else if ((Flags & (DATE_SHORTDATE | DATE_LONGDATE | DATE_YEARMONTH)) != 0) {
    return false;
  }
  unsigned wd = WeekDay(Year, Month, Day);
  String out;
  for (const TPictureToken& t : SplitPicture(picture, u"dMyg")) {
    switch (t.Letter) {
      case 0: out += t.Text; break;
      case u'd':
        if (t.Count <= 2) AppendZeroPadded(out, Day, static_cast<int>(t.Count));
        else out += t.Count == 3 ? D->AbbrevDayNames[wd] : D->DayNames[wd];
        break;
      case u'M':
        if (t.Count <= 2) AppendZeroPadded(out, Month, static_cast<int>(t.Count));
        else out += t.Count == 3 ? D->AbbrevMonthNames[Month - 1] : D->MonthNames[Month - 1];
        break;
      case u'y':
        if (t.Count == 1) AppendZeroPadded(out, Year % 100, 1);
        else if (t.Count == 2) AppendZeroPadded(out, Year % 100, 2);
        else AppendZeroPadded(out, Year, 4);
        break;
      case u'g': out += D->Era; break;
    }
  }
  Text = std::move(out);
  return true;
}

bool FormatLocaleTime(LCID Locale, Cardinal Flags, Word Hour, Word Minute, Word Second, const String& Picture,
                      String& Text) {
  const TLocaleData* D = FindLocale(Locale);
  if (D == nullptr) return false;
  if (Hour > 23 || Minute > 59 || Second > 59) return false;
  std::vector<TPictureToken> tokens = SplitPicture(Picture.empty() ? String(D->TimeFormat) : Picture, u"hHmst");
  std::vector<bool> keep(tokens.size(), true);
  std::vector<String> values(tokens.size());
  bool force24 = (Flags & TIME_FORCE24HOURFORMAT) != 0;
  for (size_t i = 0; i < tokens.size(); ++i) {
    const TPictureToken& t = tokens[i];
    int digits = t.Count >= 2 ? 2 : 1;
    switch (t.Letter) {
      case u'h':
      case u'H': {
        unsigned h = Hour;
        if (t.Letter == u'h' && !force24) h = h % 12 == 0 ? 12 : h % 12;
        AppendZeroPadded(values[i], h, digits);
        break;
      }
      case u'm':
        AppendZeroPadded(values[i], Minute, digits);
        keep[i] = (Flags & TIME_NOMINUTESORSECONDS) == 0;
        break;
      case u's':
        AppendZeroPadded(values[i], Second, digits);
        keep[i] = (Flags & (TIME_NOMINUTESORSECONDS | TIME_NOSECONDS)) == 0;
        break;
      case u't': {
        String mark = Hour < 12 ? D->AM : D->PM;
        values[i] = t.Count == 1 ? mark.substr(0, 1) : mark;
        keep[i] = (Flags & (TIME_NOTIMEMARKER | TIME_FORCE24HOURFORMAT)) == 0;
        break;
      }
    }
  }
  Text = JoinKept(tokens, keep, values);
  return true;
}
