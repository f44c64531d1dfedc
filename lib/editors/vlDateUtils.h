// Dates of the editors: the locale format controller and the date utilities.
//
// The format controller (vlFormatController) turns the locale's date, time
// and currency settings into the formats and edit-mask texts the editors
// use, and tells its listeners when they change. The date utilities convert
// date-time values to and from text through the locale or the toolchain's
// format settings, read the smart words ("today", "tomorrow", "eom", "+3"),
// compute week numbers and month bounds, and define the null date.
//
// The locale's regional settings never change behind the program's back on
// this platform: a program that switches them (SetSystemLocale) calls
// vlFormatController()->RegionalSettingsChanged(), which re-reads the format
// settings from the locale, rebuilds the formats and tells the listeners.
// The hidden window also answers a WM_WININICHANGE "intl" sent to it.
//
// Text conversions never raise: a text that reads as no date gives the null
// date (vlNullDate).
#pragma once

#include "lib/editors/vlCalendarTables.h"
#include "lib/foundation/nbCore.h"
#include "platform/rtl/Locale.h"
#include "platform/rtl/ResStrings.h"
#include "platform/win/WinTypes.h"

// ============================================================================
// The format controller
// ============================================================================

CL_ENUM(TvlDateTimeFormatItemKind, Byte, dtikString, dtikYear, dtikMonth, dtikDay, dtikHour, dtikMin, dtikSec,
        dtikMSec, dtikTimeSuffix, dtikDateSeparator, dtikTimeSeparator)
CL_ENUM(TvlTimeSuffixKind, Byte, tskAP, tskAMPM, tskAMPMString)

struct TvlDateTimeFormatItem {
  TvlDateTimeFormatItemKind Kind{};
  // The literal text of a string item; for the other kinds the letters that
  // describe it ("YYYY", "MM", "12HH").
  String Data;
};

struct TvlDateTimeFormatInfo {
  Boolean DefinedItems[dtikTimeSeparator + 1]{};
  std::vector<TvlDateTimeFormatItem> Items;
};

struct TvlDateTimeFormatItemInfo {
  TvlDateTimeFormatItemKind Kind{};
  Integer ItemZoneStart{};
  Integer ItemZoneLength{};
  TvlTimeSuffixKind TimeSuffixKind{};
};

class IvlFormatControllerListener : public virtual IInterface {
  CL_INTERFACE(IvlFormatControllerListener, "{A7F2C1E4-5B3D-4E8A-9C61-2D7F0B4E93A1}")
 public:
  virtual void FormatChanged() = 0;
};

// Asked of a listener when the system time changes.
class IvlFormatControllerTimeListener : public virtual IInterface {
  CL_INTERFACE(IvlFormatControllerTimeListener, "{3C8E5A91-7D24-4B6F-A1E3-9F5C2B807D46}")
 public:
  virtual void TimeChanged() = 0;
};

class TvlFormatController : public TvlIUnknownObject, public InbLocalizerListener {
  CL_CLASS(TvlFormatController, TvlIUnknownObject)
 public:
  // The hidden window's procedure.
  virtual void WndProc(TMessage& Message);
  virtual void AddListener(IvlFormatControllerListener* AListener);
  virtual void RemoveListener(IvlFormatControllerListener* AListener);

  virtual void Create();
  void Destroy() override;

  void BeginUpdate();
  void EndUpdate();
  // Recomputes every value the program did not assign.
  void GetFormats();
  void NotifyListeners();
  void TranslationChanged() override;
  // The regional settings changed: the format settings are read again from
  // the locale, the formats rebuilt and the listeners told (whatever the
  // update lock).
  void RegionalSettingsChanged();

  // Characters that the standard mask of the items shows.
  static Integer GetDateTimeStandardMaskStringLength(const TvlDateTimeFormatInfo& AFormatInfo);
  static Boolean GetDateTimeFormatItemStandardMaskInfo(const TvlDateTimeFormatInfo& AFormatInfo, Integer APos,
                                                       TvlDateTimeFormatItemInfo& AItemInfo);

  Boolean AssignedCurrencyFormat() const { return FAssignedCurrencyFormat; }
  void SetAssignedCurrencyFormat(Boolean Value);
  Boolean AssignedRegExprDateEditMask() const { return FAssignedRegExprDateEditMask; }
  void SetAssignedRegExprDateEditMask(Boolean Value);
  Boolean AssignedRegExprDateTimeEditMask() const { return FAssignedRegExprDateTimeEditMask; }
  void SetAssignedRegExprDateTimeEditMask(Boolean Value);
  Boolean AssignedStandardDateEditMask() const { return FAssignedStandardDateEditMask; }
  void SetAssignedStandardDateEditMask(Boolean Value);
  Boolean AssignedStandardDateTimeEditMask() const { return FAssignedStandardDateTimeEditMask; }
  void SetAssignedStandardDateTimeEditMask(Boolean Value);
  Boolean AssignedStartOfWeek() const { return FAssignedStartOfWeek; }
  void SetAssignedStartOfWeek(Boolean Value);
  const String& CurrencyFormat() const { return FCurrencyFormat; }
  void SetCurrencyFormat(const String& Value);
  const String& DateEditFormat() const { return FDateEditFormat; }
  const String& DateEditMask() const { return FDateEditMask; }
  const TvlDateTimeFormatInfo& DateFormatInfo() const { return FDateFormatInfo; }
  const TvlDateTimeFormatInfo& DateTimeFormatInfo() const { return FDateTimeFormatInfo; }
  TvlFirstWeekOfYear FirstWeekOfYear() const { return FFirstWeekOfYear; }
  void SetFirstWeekOfYear(TvlFirstWeekOfYear Value);
  const String& MaskedDateEditFormat() const { return FMaskedDateEditFormat; }
  const String& MaskedDateTimeEditFormat() const { return FMaskedDateTimeEditFormat; }
  const String& RegExprDateEditMask() const { return FRegExprDateEditMask; }
  void SetRegExprDateEditMask(const String& Value);
  const String& RegExprDateTimeEditMask() const { return FRegExprDateTimeEditMask; }
  void SetRegExprDateTimeEditMask(const String& Value);
  const String& StandardDateEditMask() const { return FStandardDateEditMask; }
  void SetStandardDateEditMask(const String& Value);
  const String& StandardDateTimeEditMask() const { return FStandardDateTimeEditMask; }
  void SetStandardDateTimeEditMask(const String& Value);
  TDayOfWeek StartOfWeek() const { return FStartOfWeek; }
  void SetStartOfWeek(TDayOfWeek Value);
  const TvlDateTimeFormatInfo& TimeFormatInfo() const { return FTimeFormatInfo; }
  Boolean UseDrevikDateTimeFormats() const { return FUseDrevikDateTimeFormats; }
  void SetUseDrevikDateTimeFormats(Boolean Value);

  // The hidden window; nil while no listener is registered.
  win::HWND Window() const { return FWindow; }
  Integer ListenerCount() const { return Integer(FListeners.size()); }

 private:
  void Refresh();
  void SetAssigned(Boolean& AFlag, Boolean Value);
  void SetMask(String& AField, Boolean& AAssigned, const String& Value);

  Boolean FAssignedCurrencyFormat{};
  Boolean FAssignedRegExprDateEditMask{};
  Boolean FAssignedRegExprDateTimeEditMask{};
  Boolean FAssignedStandardDateEditMask{};
  Boolean FAssignedStandardDateTimeEditMask{};
  Boolean FAssignedStartOfWeek{};
  String FCurrencyFormat;
  String FDateEditFormat;
  String FDateEditMask;
  TvlDateTimeFormatInfo FDateFormatInfo;
  TvlDateTimeFormatInfo FDateTimeFormatInfo;
  TvlFirstWeekOfYear FFirstWeekOfYear{};
  String FMaskedDateEditFormat;
  String FMaskedDateTimeEditFormat;
  String FRegExprDateEditMask;
  String FRegExprDateTimeEditMask;
  String FStandardDateEditMask;
  String FStandardDateTimeEditMask;
  TDayOfWeek FStartOfWeek{};
  TvlDateTimeFormatInfo FTimeFormatInfo;
  Boolean FUseDrevikDateTimeFormats{};
  // Not counted: a listener removes itself before it dies.
  std::vector<IvlFormatControllerListener*> FListeners;
  Integer FLockCount{};
  win::HWND FWindow{};
};

// The one controller, made on first use; the unit's shut-down frees it.
TvlFormatController* vlFormatController();
// The controller when one exists, without making it (for listeners leaving late).
TvlFormatController* vlExistingFormatController();

// The pieces the controller builds its values from, for a given format.
// Parsing fails (an empty info, False) for a format holding the era "G".
Boolean vlParseDateTimeFormat(const String& AFormat, TvlDateTimeFormatInfo& AFormatInfo);
String vlGetDateTimeStandardMask(const TvlDateTimeFormatInfo& AFormatInfo);
String vlGetDateRegExprMask(const TvlDateTimeFormatInfo& AFormatInfo);
String vlGetTimeRegExprMask(const TvlDateTimeFormatInfo& AFormatInfo);
String vlGetMaskedDateTimeFormat(const TvlDateTimeFormatInfo& AFormatInfo);
// The currency display format for a number of decimals, a symbol and the
// positive and negative format codes.
String vlGetCurrencyFormat(Integer ADecimals, const String& ACurrencyString, Integer ACurrencyFormat,
                           Integer ANegCurrFormat);

// ============================================================================
// The date utilities
// ============================================================================

extern const TResStringRec svlCantCreateRegistryKey;               // "Can't create the registry key: \%s"
extern const TResStringRec svlCantOpenRegistryKey;                 // "Can't open the registry key: \%s"
extern const TResStringRec svlErrorStoreObject;                    // "Error store %s object"
extern const TResStringRec svlConverterCantCreateStyleRepository;  // "Can't create the Style Repository"
extern const TResStringRec vlSDateToday;                           // "today"
extern const TResStringRec vlSDateYesterday;                       // "yesterday"
extern const TResStringRec vlSDateTomorrow;                        // "tomorrow"
extern const TResStringRec vlSDateSunday;                          // "Sunday"
extern const TResStringRec vlSDateMonday;                          // "Monday"
extern const TResStringRec vlSDateTuesday;                         // "Tuesday"
extern const TResStringRec vlSDateWednesday;                       // "Wednesday"
extern const TResStringRec vlSDateThursday;                        // "Thursday"
extern const TResStringRec vlSDateFriday;                          // "Friday"
extern const TResStringRec vlSDateSaturday;                        // "Saturday"
extern const TResStringRec vlSDateFirst;                           // "first"
extern const TResStringRec vlSDateSecond;                          // "second"
extern const TResStringRec vlSDateThird;                           // "third"
extern const TResStringRec vlSDateFourth;                          // "fourth"
extern const TResStringRec vlSDateFifth;                           // "fifth"
extern const TResStringRec vlSDateSixth;                           // "sixth"
extern const TResStringRec vlSDateSeventh;                         // "seventh"
extern const TResStringRec vlSDateBOM;                             // "bom"
extern const TResStringRec vlSDateEOM;                             // "eom"
extern const TResStringRec vlSDateNow;                             // "now"

constexpr TDateTime vlNullDate = -700000.0;
constexpr Integer vlMinYear = 100;
constexpr Integer vlMaxYear = 9999;
constexpr TDateTime vlMaxDate = 2958465.99999;
constexpr Integer vlSmartDateWordCount = 20;

// Week-day names are cut to one character.
extern Boolean vlOneLetterDayNames;
// Asked when no smart word matches a text; may set ADate.
using TvlSmartTextToDateHook = Boolean (*)(const String& AText, TDateTime& ADate);
extern TvlSmartTextToDateHook vlSmartTextToDateHook;
// The smart words, in index order: today, yesterday, tomorrow, Sunday ..
// Saturday, first .. seventh, bom, eom, now (reloaded at every use).
extern String vlSmartDateWords[vlSmartDateWordCount];
// Where "today" and "now" come from; nil means the machine's clock (tests fix it).
using TvlNowFunction = TDateTime (*)();
extern TvlNowFunction vlNowFunction;

// Locale access.
Cardinal vlGetLocaleCalendarType();
TvlCustomCalendarTable* vlCreateCalendarTable(Cardinal ACalendarType);
TvlCustomCalendarTable* vlCreateDefaultCalendarTable();
Boolean vlIsGregorianCalendar(TvlCustomCalendarTable* ACalendar = nullptr);
TDayOfWeek vlGetLocaleStartOfWeek();
void vlFillLocaleFormatSettings(TFormatSettings& AFormatSettings);
// A calendar item; 0 when the calendar has no such item. Besides the
// Gregorian items of the locale, CAL_ITWODIGITYEARMAX of every calendar.
Integer vlGetCalendarInfo(LCID Locale, Cardinal Calendar, Cardinal CalType, String* AText = nullptr,
                          Cardinal* AValue = nullptr);

// Date-time to text.
Boolean vlFormatLocaleDate(String& AText, Cardinal AFlags, const String& AFormat, TDateTime ADate);
void vlFormatDateByPattern(const String& AFormat, Char ASeparator, String& AText, TDateTime ADate);
void vlDateTimeToLocaleText(String& AText, TDateTime ADate);
void vlGetDayText(String& AText, TDateTime ADate);
void vlGetCalendarNumberText(Integer N, TvlCustomCalendarTable* ACalendar, String& AText);
void vlGetMonthNameOfDate(TvlCustomCalendarTable* ACalendar, String& AText, TDateTime ADate);
void vlGetMonthName(Cardinal AYear, Cardinal AMonth, TvlCustomCalendarTable* ACalendar, String& AText);
void vlGetYearMonthCaption(TvlCustomCalendarTable* ACalendar, String& AText, TDateTime ADate);
void vlGetYearText(TvlCustomCalendarTable* ACalendar, String& AText, TDateTime ADate);
// ADay 1 = Monday .. 7 = Sunday.
void vlGetWeekDayName(Integer ADay, Byte ACharset, String& AText);
void vlDateTimeToEditText(Boolean AFourDigitYear, Boolean AUseDrevikFormats, String& AText, TDateTime ADate);
void vlDateTimeToDisplayText(Boolean AMasked, Boolean AWithTime, Boolean AFourDigitYear, String& AText,
                             TDateTime ADate);

// Text to date-time.
TDateTime vlTextToDateTime(const String& AText, Boolean AUseDrevikFormats);
Boolean vlTryTextToDate(const String& AText, TDateTime& ADate);
Boolean vlTryStrToDateTime(const String& AText, Boolean AUseVariantConversion, TDateTime& ADate);
TDateTime vlLocaleCalendarTextToDate(const String& AText);
Boolean vlParseCalendarDate(const String& AText, const TFormatSettings& ASettings, TvlCustomCalendarTable* ATable,
                            TvlDateTime& ADateTime);
void vlNormalizeDateText(String& AText, Boolean ALocaleSeparators);

// Smart input and masks.
Boolean vlSmartTextToDate(const String& AText, TDateTime& ADate);
void vlAddSmartDateWordsToMask(String& AMask, Boolean AWithNow);

// Gregorian arithmetic.
Boolean vlIsLeapYear(Integer AYear);
Integer vlGetDaysInMonth(Integer AYear, Integer AMonth);
TDateTime vlExtractTime(TDateTime ADate);
TDateTime vlExtractDate(TDateTime ADate);
Integer vlGetMonthIndex(TDateTime ADate);
// AElement: 0 year, 1 month, 2 day.
Integer vlGetDateElement(Integer AElement, TvlCustomCalendarTable* ACalendar, TDateTime ADate);
Integer vlGetDayOfWeekIndex(TDateTime ADate);
TDateTime vlGetFirstDayOfMonth(Boolean ADateOnly, TDateTime ADate);
TDateTime vlGetLastDayOfMonth(Boolean ADateOnly, TDateTime ADate);
TDateTime vlGetFirstDayOfYear(Boolean ADateOnly, TDateTime ADate);
TDateTime vlGetLastDayOfYear(Boolean ADateOnly, TDateTime ADate);
TDateTime vlGetMinDate();
Boolean vlIsValidDate(TDateTime ADate);
// AFirstWeekOfYear: 0 the locale's rule, 1 week of 1 January, 2 first full
// week, 3 first week with four days. January days before week 1 belong to the
// previous year's last week.
Cardinal vlGetWeekNumber(TDayOfWeek AStartOfWeek, Integer AFirstWeekOfYear, TDateTime ADate);
