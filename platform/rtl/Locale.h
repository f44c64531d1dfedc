// The system locale and the format settings.
//
// The system ANSI code page and the user locale are settings of this layer,
// never read from the machine's environment. The default is the program's
// own: Turkish (tr-TR, code page 1254); English (United States, code page
// 1252) is the second locale.
#pragma once

#include "platform/rtl/Types.h"

using LCID = Cardinal;
constexpr LCID LOCALE_TURKISH = 0x041F;     // tr-TR
constexpr LCID LOCALE_ENGLISH_US = 0x0409;  // en-US

enum class TSystemLocale { Turkish, EnglishUS };

// Switches the system locale: code page, user locale and the process-wide
// FormatSettings (re-read from the locale).
void SetSystemLocale(TSystemLocale ALocale);
// The locale that the setting CL_SYSTEM_LOCALE names: "en-US" is English
// (United States); "tr-TR", anything else and no setting (nullptr) Turkish.
// The start-up locale is this, read once from the environment.
TSystemLocale SystemLocaleFromSetting(const char* Value);
TSystemLocale SystemLocale();
// The system ANSI code page: 1254 or 1252.
Cardinal GetACP();
LCID GetThreadLocale();
LCID GetUserDefaultLCID();
// The ICU locale name of the user locale ("tr_TR", "en_US").
const char* SystemLocaleICUName();

struct TFormatSettings {
  String CurrencyString;
  Byte CurrencyFormat = 0;
  Byte CurrencyDecimals = 0;
  Char DateSeparator = 0;
  Char TimeSeparator = 0;
  Char ListSeparator = 0;
  String ShortDateFormat;
  String LongDateFormat;
  String TimeAMString;
  String TimePMString;
  String ShortTimeFormat;
  String LongTimeFormat;
  String ShortMonthNames[12];
  String LongMonthNames[12];
  String ShortDayNames[7];
  String LongDayNames[7];
  Char ThousandSeparator = 0;
  Char DecimalSeparator = 0;
  Word TwoDigitYearCenturyWindow = 0;
  Byte NegCurrFormat = 0;
  // Era names and year offsets of a non-Gregorian calendar; empty for the
  // Gregorian calendar of both locales.
  String EraNames[7];
  Integer EraYearOffsets[7] = {};

  // The settings of a locale, as the platform reads them from it.
  static TFormatSettings Create(LCID Locale);
};

// The process-wide settings, changed at run time by the program: the
// platform's global variable FormatSettings, read from the locale on first use
// (FormatSettings().DecimalSeparator).
TFormatSettings& FormatSettings();

// The default century window of two-digit years in text read as a date.
constexpr Word DefaultTwoDigitYearCenturyWindow = 50;

// ---------------------------------------------------------------------------
// Locale data queries, shaped after the platform's locale functions.

using LCTYPE = Cardinal;
using CALID = Cardinal;
using CALTYPE = Cardinal;

constexpr LCID LOCALE_USER_DEFAULT = 0x0400;
constexpr LCID LOCALE_SYSTEM_DEFAULT = 0x0800;

// Flags that may be or-ed into an LCTYPE; the text answer ignores them.
constexpr LCTYPE LOCALE_NOUSEROVERRIDE = 0x80000000;
constexpr LCTYPE LOCALE_USE_CP_ACP = 0x40000000;
constexpr LCTYPE LOCALE_RETURN_NUMBER = 0x20000000;

constexpr LCTYPE LOCALE_ILANGUAGE = 0x0001;
constexpr LCTYPE LOCALE_SLANGUAGE = 0x0002;
constexpr LCTYPE LOCALE_SENGLANGUAGE = 0x1001;
constexpr LCTYPE LOCALE_SABBREVLANGNAME = 0x0003;
constexpr LCTYPE LOCALE_SNATIVELANGNAME = 0x0004;
constexpr LCTYPE LOCALE_ICOUNTRY = 0x0005;
constexpr LCTYPE LOCALE_SCOUNTRY = 0x0006;
constexpr LCTYPE LOCALE_SENGCOUNTRY = 0x1002;
constexpr LCTYPE LOCALE_IDEFAULTLANGUAGE = 0x0009;
constexpr LCTYPE LOCALE_IDEFAULTCOUNTRY = 0x000A;
constexpr LCTYPE LOCALE_IDEFAULTCODEPAGE = 0x000B;
constexpr LCTYPE LOCALE_IDEFAULTANSICODEPAGE = 0x1004;
constexpr LCTYPE LOCALE_SLIST = 0x000C;
constexpr LCTYPE LOCALE_IMEASURE = 0x000D;
constexpr LCTYPE LOCALE_SDECIMAL = 0x000E;
constexpr LCTYPE LOCALE_STHOUSAND = 0x000F;
constexpr LCTYPE LOCALE_SGROUPING = 0x0010;
constexpr LCTYPE LOCALE_IDIGITS = 0x0011;
constexpr LCTYPE LOCALE_ILZERO = 0x0012;
constexpr LCTYPE LOCALE_INEGNUMBER = 0x1010;
constexpr LCTYPE LOCALE_SNATIVEDIGITS = 0x0013;
constexpr LCTYPE LOCALE_SCURRENCY = 0x0014;
constexpr LCTYPE LOCALE_SINTLSYMBOL = 0x0015;
constexpr LCTYPE LOCALE_SMONDECIMALSEP = 0x0016;
constexpr LCTYPE LOCALE_SMONTHOUSANDSEP = 0x0017;
constexpr LCTYPE LOCALE_SMONGROUPING = 0x0018;
constexpr LCTYPE LOCALE_ICURRDIGITS = 0x0019;
constexpr LCTYPE LOCALE_IINTLCURRDIGITS = 0x001A;
constexpr LCTYPE LOCALE_ICURRENCY = 0x001B;
constexpr LCTYPE LOCALE_INEGCURR = 0x001C;
constexpr LCTYPE LOCALE_SDATE = 0x001D;
constexpr LCTYPE LOCALE_STIME = 0x001E;
constexpr LCTYPE LOCALE_SSHORTDATE = 0x001F;
constexpr LCTYPE LOCALE_SLONGDATE = 0x0020;
constexpr LCTYPE LOCALE_STIMEFORMAT = 0x1003;
constexpr LCTYPE LOCALE_SSHORTTIME = 0x0079;
constexpr LCTYPE LOCALE_SYEARMONTH = 0x1006;
constexpr LCTYPE LOCALE_IDATE = 0x0021;
constexpr LCTYPE LOCALE_ILDATE = 0x0022;
constexpr LCTYPE LOCALE_ITIME = 0x0023;
constexpr LCTYPE LOCALE_ITIMEMARKPOSN = 0x1005;
constexpr LCTYPE LOCALE_ICENTURY = 0x0024;
constexpr LCTYPE LOCALE_ITLZERO = 0x0025;
constexpr LCTYPE LOCALE_IDAYLZERO = 0x0026;
constexpr LCTYPE LOCALE_IMONLZERO = 0x0027;
constexpr LCTYPE LOCALE_S1159 = 0x0028;
constexpr LCTYPE LOCALE_S2359 = 0x0029;
constexpr LCTYPE LOCALE_ICALENDARTYPE = 0x1009;
constexpr LCTYPE LOCALE_IOPTIONALCALENDAR = 0x100B;
constexpr LCTYPE LOCALE_IFIRSTDAYOFWEEK = 0x100C;
constexpr LCTYPE LOCALE_IFIRSTWEEKOFYEAR = 0x100D;
// Day names: 1 = Monday ... 7 = Sunday.
constexpr LCTYPE LOCALE_SDAYNAME1 = 0x002A;
constexpr LCTYPE LOCALE_SDAYNAME2 = 0x002B;
constexpr LCTYPE LOCALE_SDAYNAME3 = 0x002C;
constexpr LCTYPE LOCALE_SDAYNAME4 = 0x002D;
constexpr LCTYPE LOCALE_SDAYNAME5 = 0x002E;
constexpr LCTYPE LOCALE_SDAYNAME6 = 0x002F;
constexpr LCTYPE LOCALE_SDAYNAME7 = 0x0030;
constexpr LCTYPE LOCALE_SABBREVDAYNAME1 = 0x0031;
constexpr LCTYPE LOCALE_SABBREVDAYNAME2 = 0x0032;
constexpr LCTYPE LOCALE_SABBREVDAYNAME3 = 0x0033;
constexpr LCTYPE LOCALE_SABBREVDAYNAME4 = 0x0034;
constexpr LCTYPE LOCALE_SABBREVDAYNAME5 = 0x0035;
constexpr LCTYPE LOCALE_SABBREVDAYNAME6 = 0x0036;
constexpr LCTYPE LOCALE_SABBREVDAYNAME7 = 0x0037;
constexpr LCTYPE LOCALE_SMONTHNAME1 = 0x0038;
constexpr LCTYPE LOCALE_SMONTHNAME2 = 0x0039;
constexpr LCTYPE LOCALE_SMONTHNAME3 = 0x003A;
constexpr LCTYPE LOCALE_SMONTHNAME4 = 0x003B;
constexpr LCTYPE LOCALE_SMONTHNAME5 = 0x003C;
constexpr LCTYPE LOCALE_SMONTHNAME6 = 0x003D;
constexpr LCTYPE LOCALE_SMONTHNAME7 = 0x003E;
constexpr LCTYPE LOCALE_SMONTHNAME8 = 0x003F;
constexpr LCTYPE LOCALE_SMONTHNAME9 = 0x0040;
constexpr LCTYPE LOCALE_SMONTHNAME10 = 0x0041;
constexpr LCTYPE LOCALE_SMONTHNAME11 = 0x0042;
constexpr LCTYPE LOCALE_SMONTHNAME12 = 0x0043;
constexpr LCTYPE LOCALE_SABBREVMONTHNAME1 = 0x0044;
constexpr LCTYPE LOCALE_SABBREVMONTHNAME2 = 0x0045;
constexpr LCTYPE LOCALE_SABBREVMONTHNAME3 = 0x0046;
constexpr LCTYPE LOCALE_SABBREVMONTHNAME4 = 0x0047;
constexpr LCTYPE LOCALE_SABBREVMONTHNAME5 = 0x0048;
constexpr LCTYPE LOCALE_SABBREVMONTHNAME6 = 0x0049;
constexpr LCTYPE LOCALE_SABBREVMONTHNAME7 = 0x004A;
constexpr LCTYPE LOCALE_SABBREVMONTHNAME8 = 0x004B;
constexpr LCTYPE LOCALE_SABBREVMONTHNAME9 = 0x004C;
constexpr LCTYPE LOCALE_SABBREVMONTHNAME10 = 0x004D;
constexpr LCTYPE LOCALE_SABBREVMONTHNAME11 = 0x004E;
constexpr LCTYPE LOCALE_SABBREVMONTHNAME12 = 0x004F;
constexpr LCTYPE LOCALE_SPOSITIVESIGN = 0x0050;
constexpr LCTYPE LOCALE_SNEGATIVESIGN = 0x0051;
constexpr LCTYPE LOCALE_SNAME = 0x005C;
constexpr LCTYPE LOCALE_SSHORTESTDAYNAME1 = 0x0060;
constexpr LCTYPE LOCALE_SSHORTESTDAYNAME2 = 0x0061;
constexpr LCTYPE LOCALE_SSHORTESTDAYNAME3 = 0x0062;
constexpr LCTYPE LOCALE_SSHORTESTDAYNAME4 = 0x0063;
constexpr LCTYPE LOCALE_SSHORTESTDAYNAME5 = 0x0064;
constexpr LCTYPE LOCALE_SSHORTESTDAYNAME6 = 0x0065;
constexpr LCTYPE LOCALE_SSHORTESTDAYNAME7 = 0x0066;
constexpr LCTYPE LOCALE_IREADINGLAYOUT = 0x0070;

// Calendars and calendar items.
constexpr CALID CAL_GREGORIAN = 1;
constexpr CALID ENUM_ALL_CALENDARS = 0xFFFFFFFF;
constexpr CALTYPE CAL_NOUSEROVERRIDE = LOCALE_NOUSEROVERRIDE;
constexpr CALTYPE CAL_RETURN_NUMBER = LOCALE_RETURN_NUMBER;
constexpr CALTYPE CAL_ICALINTVALUE = 0x0001;
constexpr CALTYPE CAL_SCALNAME = 0x0002;
constexpr CALTYPE CAL_SSHORTDATE = 0x0005;
constexpr CALTYPE CAL_SLONGDATE = 0x0006;
constexpr CALTYPE CAL_SYEARMONTH = 0x002F;
constexpr CALTYPE CAL_ITWODIGITYEARMAX = 0x0030;

// Flags of the date and time pictures.
constexpr Cardinal DATE_SHORTDATE = 0x0001;
constexpr Cardinal DATE_LONGDATE = 0x0002;
constexpr Cardinal DATE_USE_ALT_CALENDAR = 0x0004;
constexpr Cardinal DATE_YEARMONTH = 0x0008;
constexpr Cardinal TIME_NOMINUTESORSECONDS = 0x0001;
constexpr Cardinal TIME_NOSECONDS = 0x0002;
constexpr Cardinal TIME_NOTIMEMARKER = 0x0004;
constexpr Cardinal TIME_FORCE24HOURFORMAT = 0x0008;

// The locale's text for an item (the flags above are ignored). False for an
// unknown locale or item. LOCALE_USER_DEFAULT, LOCALE_SYSTEM_DEFAULT and 0
// mean the system locale.
bool GetLocaleText(LCID Locale, LCTYPE LCType, String& Text);
// The same text, or Default when the locale has no such item.
String GetLocaleStr(LCID Locale, LCTYPE LCType, const String& Default = String());
// A calendar item: CAL_SYEARMONTH, CAL_SSHORTDATE, CAL_SLONGDATE, CAL_SCALNAME,
// CAL_ICALINTVALUE and CAL_ITWODIGITYEARMAX (2029) of the Gregorian calendar.
// Value gets the number of numeric items. False for anything else.
bool GetCalendarText(LCID Locale, CALID Calendar, CALTYPE CalType, String& Text, Cardinal* Value = nullptr);

// A date written with a locale picture (d dd ddd dddd M MM MMM MMMM y yy yyyy
// yyyyy g gg, 'quoted text'). An empty picture means the locale's short date,
// or its long date or year-month with DATE_LONGDATE or DATE_YEARMONTH. False
// for an invalid date, an unknown locale or flags given with a picture.
bool FormatLocaleDate(LCID Locale, Cardinal Flags, Word Year, Word Month, Word Day, const String& Picture,
                      String& Text);
// A time written with a locale picture (h hh H HH m mm s ss t tt, 'quoted
// text'). An empty picture means the locale's time format; the TIME_ flags
// drop parts of it. False for an invalid time or an unknown locale.
bool FormatLocaleTime(LCID Locale, Cardinal Flags, Word Hour, Word Minute, Word Second, const String& Picture,
                      String& Text);
