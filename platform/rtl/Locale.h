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

  // The settings of a locale, as the platform reads them from it.
  static TFormatSettings Create(LCID Locale);
};

// The process-wide settings, changed at run time by the program.
extern TFormatSettings FormatSettings;
