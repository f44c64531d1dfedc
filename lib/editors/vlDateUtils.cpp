#include "lib/editors/vlDateUtils.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "platform/classes/ModuleInit.h"
#include "platform/rtl/Conversions.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Finally.h"
#include "platform/rtl/Strings.h"
#include "platform/rtl/Variants.h"
#include "platform/vcl/Forms.h"
#include "platform/win/Windows.h"

using namespace win;

CL_IMPLEMENT_CLASS(TvlFormatController)

const TResStringRec svlCantCreateRegistryKey = ResStringOfText(u"Can't create the registry key: \\%s");
const TResStringRec svlCantOpenRegistryKey = ResStringOfText(u"Can't open the registry key: \\%s");
const TResStringRec svlErrorStoreObject = ResStringOfText(u"Error store %s object");
const TResStringRec svlConverterCantCreateStyleRepository = ResStringOfText(u"Can't create the Style Repository");
const TResStringRec vlSDateToday = ResStringOfText(u"today");
const TResStringRec vlSDateYesterday = ResStringOfText(u"yesterday");
const TResStringRec vlSDateTomorrow = ResStringOfText(u"tomorrow");
const TResStringRec vlSDateSunday = ResStringOfText(u"Sunday");
const TResStringRec vlSDateMonday = ResStringOfText(u"Monday");
const TResStringRec vlSDateTuesday = ResStringOfText(u"Tuesday");
const TResStringRec vlSDateWednesday = ResStringOfText(u"Wednesday");
const TResStringRec vlSDateThursday = ResStringOfText(u"Thursday");
const TResStringRec vlSDateFriday = ResStringOfText(u"Friday");
const TResStringRec vlSDateSaturday = ResStringOfText(u"Saturday");
const TResStringRec vlSDateFirst = ResStringOfText(u"first");
const TResStringRec vlSDateSecond = ResStringOfText(u"second");
const TResStringRec vlSDateThird = ResStringOfText(u"third");
const TResStringRec vlSDateFourth = ResStringOfText(u"fourth");
const TResStringRec vlSDateFifth = ResStringOfText(u"fifth");
const TResStringRec vlSDateSixth = ResStringOfText(u"sixth");
const TResStringRec vlSDateSeventh = ResStringOfText(u"seventh");
const TResStringRec vlSDateBOM = ResStringOfText(u"bom");
const TResStringRec vlSDateEOM = ResStringOfText(u"eom");
const TResStringRec vlSDateNow = ResStringOfText(u"now");

Boolean vlOneLetterDayNames = true;
TvlSmartTextToDateHook vlSmartTextToDateHook = nullptr;
String vlSmartDateWords[vlSmartDateWordCount];
TvlNowFunction vlNowFunction = nullptr;

namespace {

const char16_t kProductName[] = u"NimboLibrary";
Integer gStartCount = 0;
TvlFormatController* gFormatController = nullptr;

const TResStringRec* const kSmartWords[vlSmartDateWordCount] = {
    &vlSDateToday,  &vlSDateYesterday, &vlSDateTomorrow, &vlSDateSunday, &vlSDateMonday,
    &vlSDateTuesday, &vlSDateWednesday, &vlSDateThursday, &vlSDateFriday, &vlSDateSaturday,
    &vlSDateFirst,  &vlSDateSecond,    &vlSDateThird,    &vlSDateFourth, &vlSDateFifth,
    &vlSDateSixth,  &vlSDateSeventh,   &vlSDateBOM,      &vlSDateEOM,    &vlSDateNow};

void AddResourceStrings(TnbProductResourceStrings* AProduct) {
  AProduct->Add(u"svlCantCreateRegistryKey", &svlCantCreateRegistryKey);
  AProduct->Add(u"svlCantOpenRegistryKey", &svlCantOpenRegistryKey);
  AProduct->Add(u"svlErrorStoreObject", &svlErrorStoreObject);
  AProduct->Add(u"svlConverterCantCreateStyleRepository", &svlConverterCantCreateStyleRepository);
  static const char16_t* const kNames[vlSmartDateWordCount] = {
      u"vlSDateToday",     u"vlSDateYesterday", u"vlSDateTomorrow", u"vlSDateSunday", u"vlSDateMonday",
      u"vlSDateTuesday",   u"vlSDateWednesday", u"vlSDateThursday", u"vlSDateFriday", u"vlSDateSaturday",
      u"vlSDateFirst",     u"vlSDateSecond",    u"vlSDateThird",    u"vlSDateFourth", u"vlSDateFifth",
      u"vlSDateSixth",     u"vlSDateSeventh",   u"vlSDateBOM",      u"vlSDateEOM",    u"vlSDateNow"};
  for (Integer i = 0; i < vlSmartDateWordCount; ++i) AProduct->Add(kNames[i], kSmartWords[i]);
}

void Startup() {
  if (++gStartCount != 1) return;
  nbResourceStringsRepository()->RegisterProduct(kProductName, &AddResourceStrings);
}

void Shutdown() {
  if (gStartCount == 0 || --gStartCount != 0) return;
  FreeAndNil(gFormatController);
  for (String& w : vlSmartDateWords) w.clear();
  nbResourceStringsRepository()->UnRegisterProduct(kProductName);
}

void LoadSmartWords() {
  for (Integer i = 0; i < vlSmartDateWordCount; ++i) vlSmartDateWords[i] = vlGetResourceStringText(kSmartWords[i]);
}

TDateTime NowValue() { return vlNowFunction ? vlNowFunction() : Now(); }
TDateTime TodayValue() { return std::floor(NowValue()); }

Char FirstChar(const String& S) { return S.empty() ? Char(0) : S[0]; }

String LocaleStr(LCTYPE AType, const String& ADefault = String()) {
  return GetLocaleStr(GetThreadLocale(), AType, ADefault);
}

// ---- Parsing a format into items --------------------------------------------------------

void AddLiteral(TvlDateTimeFormatInfo& AInfo, const String& AText) {
  if (AText.empty()) return;
  if (!AInfo.Items.empty() && AInfo.Items.back().Kind == dtikString)
    AInfo.Items.back().Data += AText;
  else
    AInfo.Items.push_back({dtikString, AText});
  AInfo.DefinedItems[dtikString] = true;
}

void AddItem(TvlDateTimeFormatInfo& AInfo, TvlDateTimeFormatItemKind AKind, const String& AData) {
  Boolean repeatable = AKind == dtikString || AKind == dtikDateSeparator || AKind == dtikTimeSeparator;
  if (!repeatable && AInfo.DefinedItems[AKind]) return;
  AInfo.Items.push_back({AKind, AData});
  AInfo.DefinedItems[AKind] = true;
}

Boolean MatchesAt(const String& AFormat, size_t APos, const char16_t* AText) {
  size_t n = std::char_traits<char16_t>::length(AText);
  if (APos + n > AFormat.size()) return false;
  for (size_t i = 0; i < n; ++i) {
    Char c = AFormat[APos + i];
    if (c >= u'a' && c <= u'z') c = Char(c - 32);
    if (c != AText[i]) return false;
  }
  return true;
}

// Parses AFormat into AInfo; ADepth counts nesting (0 the format itself).
// False when the format cannot be described (the era "G").
Boolean ParseFormat(const String& AFormat, TvlDateTimeFormatInfo& AInfo, Integer ADepth) {
  if (ADepth > 1) return true;  // formats nest at most two deep
  const TFormatSettings& fs = FormatSettings();
  String format = AFormat.empty() ? String(u"C") : AFormat;
  auto nested = [&](const String& AInner) { return ParseFormat(AInner, AInfo, ADepth + 1); };
  Char last = u' ';
  size_t i = 0;
  while (i < format.size()) {
    Char c = format[i];
    Char u = (c >= u'a' && c <= u'z') ? Char(c - 32) : c;
    size_t run = 1;
    while (i + run < format.size() && format[i + run] == c) ++run;
    if (c == u'\'' || c == u'"') {
      size_t close = format.find(c, i + 1);
      if (close == String::npos) close = format.size();
      AddLiteral(AInfo, format.substr(i + 1, close - i - 1));
      i = close + 1;
      continue;
    }
    if (c == u'/') {
      AddItem(AInfo, dtikDateSeparator, u"/");
      ++i;
      continue;
    }
    if (c == u':') {
      AddItem(AInfo, dtikTimeSeparator, u":");
      ++i;
      continue;
    }
    switch (u) {
      case u'A':
        if (MatchesAt(format, i, u"AM/PM")) {
          AddItem(AInfo, dtikTimeSuffix, format.substr(i, 5));
          i += 5;
        } else if (MatchesAt(format, i, u"A/P")) {
          AddItem(AInfo, dtikTimeSuffix, format.substr(i, 3));
          i += 3;
        } else if (MatchesAt(format, i, u"AMPM")) {
          AddItem(AInfo, dtikTimeSuffix, u"AMPM");
          i += 4;
        } else if (MatchesAt(format, i, u"AAAA")) {
          AddItem(AInfo, dtikDay, u"DDDD");
          i += 4;
        } else if (MatchesAt(format, i, u"AAA")) {
          AddItem(AInfo, dtikDay, u"DDD");
          i += 3;
        } else {
          AddLiteral(AInfo, String(1, c));
          ++i;
        }
        last = u'A';
        continue;
      case u'C':
        if (!nested(fs.ShortDateFormat)) return false;
        AddLiteral(AInfo, u" ");
        if (!nested(fs.LongTimeFormat)) return false;
        break;
      case u'D':
        if (run <= 4)
          AddItem(AInfo, dtikDay, String(run, u'D'));
        else if (run == 5) {
          if (!nested(fs.ShortDateFormat)) return false;
        } else if (!nested(fs.LongDateFormat))
          return false;
        break;
      case u'E':
      case u'Y':
        AddItem(AInfo, dtikYear, run > 2 ? u"YYYY" : u"YY");
        break;
      case u'G':
        return false;
      case u'H':
        AddItem(AInfo, dtikHour, String(std::min<size_t>(run, 2), u'H'));
        break;
      case u'M':
        if (last == u'H') {
          AddItem(AInfo, dtikMin, String(std::min<size_t>(run, 2), u'N'));
          u = u'N';
        } else {
          AddItem(AInfo, dtikMonth, String(std::min<size_t>(run, 4), u'M'));
        }
        break;
      case u'N':
        AddItem(AInfo, dtikMin, String(std::min<size_t>(run, 2), u'N'));
        break;
      case u'S':
        AddItem(AInfo, dtikSec, String(std::min<size_t>(run, 2), u'S'));
        break;
      case u'T':
        if (!nested(run == 1 ? fs.ShortTimeFormat : fs.LongTimeFormat)) return false;
        break;
      case u'Z':
        AddItem(AInfo, dtikMSec, String(std::min<size_t>(run, 3), u'Z'));
        break;
      default:
        AddLiteral(AInfo, format.substr(i, run));
        i += run;
        continue;
    }
    last = u;
    i += run;
  }
  return true;
}

Integer TimeSuffixLength(const TvlDateTimeFormatItem& AItem) {
  String up = UpperCase(AItem.Data);
  if (up == u"A/P") return 1;
  if (up == u"AM/PM") return 2;
  const TFormatSettings& fs = FormatSettings();
  return std::max(Length(fs.TimeAMString), Length(fs.TimePMString));
}

Integer ItemLength(const TvlDateTimeFormatItem& AItem) {
  switch (AItem.Kind) {
    case dtikString:
      return Length(AItem.Data);
    case dtikYear:
      return Length(AItem.Data) == 2 ? 2 : 4;
    case dtikMonth:
    case dtikDay:
      return Length(AItem.Data) > 2 ? 3 : 2;
    case dtikHour:
    case dtikMin:
    case dtikSec:
      return 2;
    case dtikMSec:
      return 0;
    case dtikTimeSuffix:
      return TimeSuffixLength(AItem);
    default:
      return 1;
  }
}

String SeparatorExpression(Char ASeparator) {
  if (ASeparator == 0) return String();
  if (ASeparator == u' ') return u"' '";
  return String(u"\\") + ASeparator;
}

String Quoted(const String& S) { return u"'" + S + u"'"; }

// A smart word in the mask language: runs without quotes in quotes, each
// quote escaped.
String MaskWord(const String& AWord) {
  String result, run;
  for (Char c : AWord) {
    if (c == u'\'') {
      if (!run.empty()) result += Quoted(run);
      run.clear();
      result += u"\\'";
    } else {
      run += c;
    }
  }
  if (!run.empty()) result += Quoted(run);
  return result;
}

String CurrencyLayout(const char* ALayout, const String& ANumber, const String& ASymbol) {
  String result;
  for (const char* p = ALayout; *p; ++p) {
    if (*p == 'n')
      result += ANumber;
    else if (*p == '$')
      result += ASymbol;
    else
      result += Char(*p);
  }
  return result;
}

}  // namespace

CL_UNIT_STEPS(vlDateUtils, &Startup, &Shutdown);

// ============================================================================
// The format controller
// ============================================================================

Boolean vlParseDateTimeFormat(const String& AFormat, TvlDateTimeFormatInfo& AFormatInfo) {
  AFormatInfo = TvlDateTimeFormatInfo();
  if (!ParseFormat(AFormat, AFormatInfo, 0)) {
    AFormatInfo = TvlDateTimeFormatInfo();
    return false;
  }
  auto& items = AFormatInfo.Items;
  if (AFormatInfo.DefinedItems[dtikHour]) {
    for (TvlDateTimeFormatItem& item : items)
      if (item.Kind == dtikHour) item.Data = (AFormatInfo.DefinedItems[dtikTimeSuffix] ? u"12" : u"24") + item.Data;
  } else if (AFormatInfo.DefinedItems[dtikTimeSuffix]) {
    items.erase(std::remove_if(items.begin(), items.end(),
                               [](const TvlDateTimeFormatItem& AItem) { return AItem.Kind == dtikTimeSuffix; }),
                items.end());
    AFormatInfo.DefinedItems[dtikTimeSuffix] = false;
  }
  return true;
}

String vlGetDateTimeStandardMask(const TvlDateTimeFormatInfo& AFormatInfo) {
  if (AFormatInfo.Items.empty()) return String();
  String result = u"!";
  for (const TvlDateTimeFormatItem& item : AFormatInfo.Items) {
    switch (item.Kind) {
      case dtikString:
        for (Char c : item.Data) {
          result += u'\\';
          result += c;
        }
        break;
      case dtikYear:
        result += Length(item.Data) == 2 ? u"99" : u"9999";
        break;
      case dtikMonth:
      case dtikDay:
        result += Length(item.Data) > 2 ? u"lll" : u"99";
        break;
      case dtikHour:
      case dtikMin:
      case dtikSec:
        result += u"99";
        break;
      case dtikMSec:
        break;
      case dtikTimeSuffix:
        result += String(size_t(TimeSuffixLength(item)), u'c');
        break;
      case dtikDateSeparator:
        result += u'/';
        break;
      case dtikTimeSeparator:
        result += u':';
        break;
    }
  }
  return result + u";1; ";
}

String vlGetDateRegExprMask(const TvlDateTimeFormatInfo& AFormatInfo) {
  const TFormatSettings& fs = FormatSettings();
  String result;
  for (const TvlDateTimeFormatItem& item : AFormatInfo.Items) {
    switch (item.Kind) {
      case dtikString:
        result += Quoted(item.Data);
        break;
      case dtikYear:
        result += Length(item.Data) == 2 ? u"\\d\\d" : u"\\d\\d\\d\\d";
        break;
      case dtikMonth: {
        result += u"((0?[1-9]|1[012])|(";
        const String* names = Length(item.Data) == 4 ? fs.LongMonthNames : fs.ShortMonthNames;
        for (Integer m = 0; m < 12; ++m) {
          if (m > 0) result += u'|';
          result += Quoted(names[m]);
        }
        result += u"))";
        break;
      }
      case dtikDay:
        result += u"([012]?[1-9]|[123]0|31)";
        break;
      case dtikDateSeparator:
        result += SeparatorExpression(fs.DateSeparator);
        break;
      default:
        break;
    }
  }
  return result;
}

String vlGetTimeRegExprMask(const TvlDateTimeFormatInfo& AFormatInfo) {
  const TFormatSettings& fs = FormatSettings();
  String result;
  for (const TvlDateTimeFormatItem& item : AFormatInfo.Items) {
    switch (item.Kind) {
      case dtikString:
        result += Quoted(item.Data);
        break;
      case dtikHour:
        result += StartsStr(u"12", item.Data) ? u"(0?[1-9]|1[012])" : u"([01]?\\d|2[0-3])";
        break;
      case dtikMin:
      case dtikSec:
        result += u"[0-5]?\\d";
        break;
      case dtikTimeSuffix: {
        String up = UpperCase(item.Data);
        if (up == u"A/P")
          result += u"(A|P)?";
        else if (up == u"AM/PM")
          result += u"(AM|PM)?";
        else if (!fs.TimeAMString.empty() && !fs.TimePMString.empty())
          result += u"('" + fs.TimeAMString + u"'|'" + fs.TimePMString + u"')?";
        else if (!fs.TimeAMString.empty() || !fs.TimePMString.empty())
          result += u"('" + fs.TimeAMString + fs.TimePMString + u"')?";
        break;
      }
      case dtikTimeSeparator:
        result += SeparatorExpression(fs.TimeSeparator);
        break;
      default:
        break;
    }
  }
  return result;
}

String vlGetMaskedDateTimeFormat(const TvlDateTimeFormatInfo& AFormatInfo) {
  String result;
  for (const TvlDateTimeFormatItem& item : AFormatInfo.Items) {
    switch (item.Kind) {
      case dtikString:
        result += Quoted(item.Data);
        break;
      case dtikYear:
      case dtikTimeSuffix:
        result += LowerCase(item.Data);
        break;
      case dtikMonth:
        result += Length(item.Data) > 2 ? u"mmm" : u"mm";
        break;
      case dtikDay:
        result += Length(item.Data) > 2 ? u"ddd" : u"dd";
        break;
      case dtikHour:
        result += u"hh";
        break;
      case dtikMin:
        result += u"nn";
        break;
      case dtikSec:
        result += u"ss";
        break;
      case dtikDateSeparator:
        result += u'/';
        break;
      case dtikTimeSeparator:
        result += u':';
        break;
      case dtikMSec:
        break;
    }
  }
  return result;
}

String vlGetCurrencyFormat(Integer ADecimals, const String& ACurrencyString, Integer ACurrencyFormat,
                           Integer ANegCurrFormat) {
  static const char* const kPositive[4] = {"$n", "n$", "$ n", "n $"};
  static const char* const kNegative[16] = {"($n)", "-$n",  "$-n",  "$n-",  "(n$)",  "-n$",  "n-$",  "n$-",
                                            "-n $", "-$ n", "n $-", "$ n-", "$ -n", "n- $", "($ n)", "(n $)"};
  String number = u",0." + String(size_t(std::max(ADecimals, 0)), u'0');
  String symbol;
  for (Char c : ACurrencyString) {
    if (c == u',' || c == u'.')
      symbol += String(u"'") + c + u"'";
    else
      symbol += c;
  }
  String positive = ACurrencyFormat >= 0 && ACurrencyFormat <= 3 ? CurrencyLayout(kPositive[ACurrencyFormat], number, symbol)
                                                                  : String();
  String negative = ANegCurrFormat >= 0 && ANegCurrFormat <= 15
                        ? CurrencyLayout(kNegative[ANegCurrFormat], number, symbol)
                        : String();
  return positive + u";" + negative;
}

void TvlFormatController::Create() {
  inherited::Create();
  FFirstWeekOfYear = fwySystem;
  FUseDrevikDateTimeFormats = false;
  GetFormats();
  nbResourceStringsRepository()->AddListener(this);
}

void TvlFormatController::Destroy() {
  nbResourceStringsRepository()->RemoveListener(this);
  FListeners.clear();
  if (FWindow) DeallocateHWnd(FWindow);
  FWindow = nullptr;
  if (gFormatController == this) gFormatController = nullptr;
  inherited::Destroy();
}

void TvlFormatController::WndProc(TMessage& Message) {
  HandleExceptionsOf(this, [&] {
    if (Message.Msg == WM_WININICHANGE && Message.WParam == 0 && Message.LParam != 0 &&
        String(reinterpret_cast<const Char*>(Message.LParam)) == u"intl" && Application &&
        Application->UpdateFormatSettings()) {
      RegionalSettingsChanged();
      Message.Result = 0;
    } else if (Message.Msg == WM_TIMECHANGE) {
      std::vector<IvlFormatControllerListener*> listeners = FListeners;
      // A listener removed (and perhaps freed) by an earlier one is not asked.
      for (IvlFormatControllerListener* l : listeners)
        if (std::find(FListeners.begin(), FListeners.end(), l) != FListeners.end())
          if (auto* t = dynamic_cast<IvlFormatControllerTimeListener*>(l)) t->TimeChanged();
      Message.Result = 0;
    } else {
      Message.Result = DefWindowProcW(FWindow, Message.Msg, Message.WParam, Message.LParam);
    }
  });
}

void TvlFormatController::AddListener(IvlFormatControllerListener* AListener) {
  if (!AListener || std::find(FListeners.begin(), FListeners.end(), AListener) != FListeners.end()) return;
  if (FListeners.empty()) FWindow = AllocateHWnd(TWndMethod(this, &TvlFormatController::WndProc));
  FListeners.push_back(AListener);
}

void TvlFormatController::RemoveListener(IvlFormatControllerListener* AListener) {
  auto it = std::find(FListeners.begin(), FListeners.end(), AListener);
  if (it == FListeners.end()) return;
  FListeners.erase(it);
  if (FListeners.empty() && FWindow) {
    DeallocateHWnd(FWindow);
    FWindow = nullptr;
  }
}

void TvlFormatController::BeginUpdate() { ++FLockCount; }

void TvlFormatController::EndUpdate() {
  if (FLockCount <= 0) return;
  if (--FLockCount == 0) NotifyListeners();
}

void TvlFormatController::GetFormats() {
  if (!gFormatController) gFormatController = this;
  const TFormatSettings& fs = FormatSettings();
  if (!FAssignedCurrencyFormat)
    FCurrencyFormat = vlGetCurrencyFormat(fs.CurrencyDecimals, fs.CurrencyString, fs.CurrencyFormat, fs.NegCurrFormat);
  if (!FAssignedStartOfWeek) FStartOfWeek = vlGetLocaleStartOfWeek();
  // Single day and month letters doubled.
  const String& sdf = fs.ShortDateFormat;
  FDateEditFormat.clear();
  for (size_t i = 0; i < sdf.size(); ++i) {
    Char c = sdf[i];
    FDateEditFormat += c;
    if ((c == u'd' || c == u'M') && (i == 0 || sdf[i - 1] != c) && (i + 1 >= sdf.size() || sdf[i + 1] != c))
      FDateEditFormat += c;
  }
  vlParseDateTimeFormat(fs.ShortDateFormat, FDateFormatInfo);
  vlParseDateTimeFormat(fs.LongTimeFormat, FTimeFormatInfo);
  if (FDateFormatInfo.Items.empty())
    FDateTimeFormatInfo = TvlDateTimeFormatInfo();
  else
    vlParseDateTimeFormat(fs.ShortDateFormat + u" " + fs.LongTimeFormat, FDateTimeFormatInfo);
  FDateEditMask = vlGetDateTimeStandardMask(FDateFormatInfo);
  if (!FAssignedStandardDateEditMask) FStandardDateEditMask = FDateEditMask;
  if (!FAssignedRegExprDateEditMask) {
    FRegExprDateEditMask = vlGetDateRegExprMask(FDateFormatInfo);
    vlAddSmartDateWordsToMask(FRegExprDateEditMask, false);
  }
  if (!FAssignedRegExprDateTimeEditMask) {
    String dateExpr = vlGetDateRegExprMask(FDateFormatInfo);
    // Without a date expression the mask is the smart-word part alone.
    FRegExprDateTimeEditMask = dateExpr.empty()
                                   ? String()
                                   : dateExpr + u" ' '(" + vlGetTimeRegExprMask(FTimeFormatInfo) + u")?";
    vlAddSmartDateWordsToMask(FRegExprDateTimeEditMask, true);
  }
  if (!FAssignedStandardDateTimeEditMask) FStandardDateTimeEditMask = vlGetDateTimeStandardMask(FDateTimeFormatInfo);
  FMaskedDateEditFormat = vlGetMaskedDateTimeFormat(FDateFormatInfo);
  FMaskedDateTimeEditFormat = vlGetMaskedDateTimeFormat(FDateTimeFormatInfo);
}

void TvlFormatController::NotifyListeners() {
  std::vector<IvlFormatControllerListener*> listeners = FListeners;
  for (IvlFormatControllerListener* l : listeners)
    if (std::find(FListeners.begin(), FListeners.end(), l) != FListeners.end()) l->FormatChanged();
}

void TvlFormatController::TranslationChanged() { Refresh(); }

void TvlFormatController::RegionalSettingsChanged() {
  FormatSettings() = TFormatSettings::Create(GetThreadLocale());
  GetFormats();
  NotifyListeners();
}

void TvlFormatController::Refresh() {
  if (FLockCount != 0) return;
  GetFormats();
  NotifyListeners();
}

void TvlFormatController::SetAssigned(Boolean& AFlag, Boolean Value) {
  if (AFlag == Value) return;
  AFlag = Value;
  Refresh();
}

void TvlFormatController::SetMask(String& AField, Boolean& AAssigned, const String& Value) {
  AAssigned = true;
  if (AField == Value) return;
  AField = Value;
  Refresh();
}

void TvlFormatController::SetAssignedCurrencyFormat(Boolean Value) { SetAssigned(FAssignedCurrencyFormat, Value); }
void TvlFormatController::SetAssignedRegExprDateEditMask(Boolean Value) {
  SetAssigned(FAssignedRegExprDateEditMask, Value);
}
void TvlFormatController::SetAssignedRegExprDateTimeEditMask(Boolean Value) {
  SetAssigned(FAssignedRegExprDateTimeEditMask, Value);
}
void TvlFormatController::SetAssignedStandardDateEditMask(Boolean Value) {
  SetAssigned(FAssignedStandardDateEditMask, Value);
}
void TvlFormatController::SetAssignedStandardDateTimeEditMask(Boolean Value) {
  SetAssigned(FAssignedStandardDateTimeEditMask, Value);
}
void TvlFormatController::SetAssignedStartOfWeek(Boolean Value) { SetAssigned(FAssignedStartOfWeek, Value); }
void TvlFormatController::SetCurrencyFormat(const String& Value) {
  SetMask(FCurrencyFormat, FAssignedCurrencyFormat, Value);
}
void TvlFormatController::SetRegExprDateEditMask(const String& Value) {
  SetMask(FRegExprDateEditMask, FAssignedRegExprDateEditMask, Value);
}
void TvlFormatController::SetRegExprDateTimeEditMask(const String& Value) {
  SetMask(FRegExprDateTimeEditMask, FAssignedRegExprDateTimeEditMask, Value);
}
void TvlFormatController::SetStandardDateEditMask(const String& Value) {
  SetMask(FStandardDateEditMask, FAssignedStandardDateEditMask, Value);
}
void TvlFormatController::SetStandardDateTimeEditMask(const String& Value) {
  SetMask(FStandardDateTimeEditMask, FAssignedStandardDateTimeEditMask, Value);
}

void TvlFormatController::SetStartOfWeek(TDayOfWeek Value) {
  FAssignedStartOfWeek = true;
  if (FStartOfWeek == Value) return;
  FStartOfWeek = Value;
  Refresh();
}

void TvlFormatController::SetFirstWeekOfYear(TvlFirstWeekOfYear Value) {
  if (FFirstWeekOfYear == Value) return;
  FFirstWeekOfYear = Value;
  Refresh();
}

void TvlFormatController::SetUseDrevikDateTimeFormats(Boolean Value) {
  if (FUseDrevikDateTimeFormats == Value) return;
  FUseDrevikDateTimeFormats = Value;
  Refresh();
}

Integer TvlFormatController::GetDateTimeStandardMaskStringLength(const TvlDateTimeFormatInfo& AFormatInfo) {
  Integer result = 0;
  for (const TvlDateTimeFormatItem& item : AFormatInfo.Items) result += ItemLength(item);
  return result;
}

Boolean TvlFormatController::GetDateTimeFormatItemStandardMaskInfo(const TvlDateTimeFormatInfo& AFormatInfo,
                                                                   Integer APos, TvlDateTimeFormatItemInfo& AItemInfo) {
  if (APos <= 0 || AFormatInfo.Items.empty()) return false;
  Integer start = 1;
  for (const TvlDateTimeFormatItem& item : AFormatInfo.Items) {
    Integer length = ItemLength(item);
    if (APos >= start && APos < start + length) {
      AItemInfo.Kind = item.Kind;
      AItemInfo.ItemZoneStart = start;
      AItemInfo.ItemZoneLength = length;
      if (item.Kind == dtikTimeSuffix) {
        String up = UpperCase(item.Data);
        AItemInfo.TimeSuffixKind = up == u"A/P" ? tskAP : up == u"AM/PM" ? tskAMPM : tskAMPMString;
      }
      return true;
    }
    start += length;
  }
  return false;
}

TvlFormatController* vlFormatController() {
  if (!gFormatController) New<TvlFormatController>();
  return gFormatController;
}

TvlFormatController* vlExistingFormatController() { return gFormatController; }

// ============================================================================
// The date utilities
// ============================================================================

Cardinal vlGetLocaleCalendarType() {
  return Cardinal(StrToIntDef(LocaleStr(LOCALE_ICALENDARTYPE, u"1"), CAL_GREGORIAN));
}

TvlCustomCalendarTable* vlCreateCalendarTable(Cardinal ACalendarType) {
  switch (ACalendarType) {
    case CAL_GREGORIAN:
    case CAL_GREGORIAN_US:
    case CAL_GREGORIAN_ME_FRENCH:
    case CAL_GREGORIAN_ARABIC:
    case CAL_GREGORIAN_XLIT_ENGLISH:
    case CAL_GREGORIAN_XLIT_FRENCH:
      return NewBy<TvlGregorianCalendarTable>(&TvlGregorianCalendarTable::CreateEx, ACalendarType);
    case CAL_JAPAN:
      return New<TvlJapaneseCalendarTable>();
    case CAL_TAIWAN:
      return New<TvlTaiwanCalendarTable>();
    case CAL_KOREA:
      return New<TvlKoreanCalendarTable>();
    case CAL_HIJRI:
      return New<TvlHijriCalendarTable>();
    case CAL_THAI:
      return New<TvlThaiCalendarTable>();
    case CAL_HEBREW:
      return New<TvlHebrewCalendarTable>();
    default:
      return NewBy<TvlGregorianCalendarTable>(&TvlGregorianCalendarTable::CreateEx, Cardinal(CAL_GREGORIAN));
  }
}

TvlCustomCalendarTable* vlCreateDefaultCalendarTable() { return vlCreateCalendarTable(vlGetLocaleCalendarType()); }

namespace {
Boolean IsGregorianID(Cardinal AID) {
  return AID == CAL_GREGORIAN || AID == CAL_GREGORIAN_US || (AID >= CAL_GREGORIAN_ME_FRENCH && AID <= CAL_GREGORIAN_XLIT_FRENCH);
}
Boolean LocaleIsGregorian() { return IsGregorianID(vlGetLocaleCalendarType()); }
Boolean UseToolchainFormats() { return vlFormatController()->UseDrevikDateTimeFormats(); }
}  // namespace

Boolean vlIsGregorianCalendar(TvlCustomCalendarTable* ACalendar) {
  if (ACalendar) return IsGregorianID(ACalendar->CalendarID());
  return LocaleIsGregorian();
}

TDayOfWeek vlGetLocaleStartOfWeek() {
  Integer v = StrToIntDef(LocaleStr(LOCALE_IFIRSTDAYOFWEEK, u"0"), 0);
  return (v + 1) % 7;
}

void vlFillLocaleFormatSettings(TFormatSettings& AFormatSettings) {
  AFormatSettings.DateSeparator = FirstChar(LocaleStr(LOCALE_SDATE));
  AFormatSettings.TimeSeparator = FirstChar(LocaleStr(LOCALE_STIME));
  AFormatSettings.ShortDateFormat = LocaleStr(LOCALE_SSHORTDATE);
  AFormatSettings.LongDateFormat = LocaleStr(LOCALE_SLONGDATE);
  AFormatSettings.LongTimeFormat = LocaleStr(LOCALE_STIMEFORMAT);
  AFormatSettings.TimeAMString = LocaleStr(LOCALE_S1159);
  AFormatSettings.TimePMString = LocaleStr(LOCALE_S2359);
  AFormatSettings.ListSeparator = FormatSettings().ListSeparator;
}

Integer vlGetCalendarInfo(LCID Locale, Cardinal Calendar, Cardinal CalType, String* AText, Cardinal* AValue) {
  // The two-digit year windows of the other calendars, as the platform
  // answers them by default.
  struct TWindow {
    Cardinal Calendar;
    Cardinal Max;
  };
  static const TWindow kWindows[] = {{CAL_JAPAN, 99},   {CAL_TAIWAN, 99}, {CAL_KOREA, 4362},
                                     {CAL_HIJRI, 1451}, {CAL_THAI, 2572}, {CAL_HEBREW, 5790}};
  Cardinal type = CalType & ~(CAL_RETURN_NUMBER | CAL_NOUSEROVERRIDE);
  String text;
  Cardinal value = 0;
  Boolean ok = false;
  if (IsGregorianID(Calendar)) {
    ok = GetCalendarText(Locale, CAL_GREGORIAN, type, text, &value);
  } else if (type == CAL_ITWODIGITYEARMAX) {
    for (const TWindow& w : kWindows)
      if (w.Calendar == Calendar) {
        value = w.Max;
        text = IntToStr(Integer(w.Max));
        ok = true;
      }
  }
  if (!ok) return 0;
  if (AText) *AText = text;
  if (AValue) *AValue = value;
  return 1;
}

// ---- Date-time to text ---------------------------------------------------------------

Boolean vlFormatLocaleDate(String& AText, Cardinal AFlags, const String& AFormat, TDateTime ADate) {
  AText.clear();
  if (LocaleIsGregorian() && UseToolchainFormats()) {
    vlFormatDateByPattern(AFormat.empty() ? FormatSettings().LongDateFormat : AFormat, 0, AText, ADate);
    return true;
  }
  Word y, m, d;
  DecodeDate(ADate, y, m, d);
  if (!FormatLocaleDate(GetThreadLocale(), AFlags, y, m, d, AFormat, AText)) {
    AText.clear();
    return false;
  }
  return true;
}

void vlFormatDateByPattern(const String& AFormat, Char ASeparator, String& AText, TDateTime ADate) {
  const TFormatSettings& fs = FormatSettings();
  Word y, m, d;
  DecodeDate(ADate, y, m, d);
  AText.clear();
  String separator;
  Boolean any = false;
  auto lower = [](Char c) { return (c >= u'A' && c <= u'Z') ? Char(c + 32) : c; };
  size_t i = 0;
  while (i < AFormat.size()) {
    Char c = AFormat[i];
    Char l = lower(c);
    if (c == u'\'' || c == u'"') {
      size_t close = AFormat.find(c, i + 1);
      if (close == String::npos) close = AFormat.size();
      separator += AFormat.substr(i + 1, close - i - 1);
      i = close + 1;
      continue;
    }
    if (l == u'e') {
      // The era writes nothing; what was collected before it is dropped.
      ++i;
      while (i < AFormat.size() && lower(AFormat[i]) != u'd' && lower(AFormat[i]) != u'm' && lower(AFormat[i]) != u'y')
        ++i;
      separator.clear();
      continue;
    }
    if (l != u'd' && l != u'm' && l != u'y') {
      separator += c;
      ++i;
      continue;
    }
    size_t run = 1;
    while (i + run < AFormat.size() && lower(AFormat[i + run]) == l) ++run;
    String element;
    if (l == u'd') {
      if (run == 2)
        AppendZeroPadded(element, d, 2);
      else if (run == 3)
        element = fs.ShortDayNames[DayOfWeek(ADate) - 1];
      else if (run == 4)
        element = fs.LongDayNames[DayOfWeek(ADate) - 1];
      else
        element = IntToStr(Integer(d));
    } else if (l == u'm') {
      if (run == 4)
        element = fs.LongMonthNames[m - 1];
      else
        AppendZeroPadded(element, m, 2);
    } else {
      if (run >= 4)
        AppendZeroPadded(element, y % 10000, 4);
      else
        AppendZeroPadded(element, y % 100, 2);
    }
    if (any) AText += ASeparator != 0 ? String(1, ASeparator) : separator;
    AText += element;
    separator.clear();
    any = true;
    i += run;
  }
}

void vlDateTimeToLocaleText(String& AText, TDateTime ADate) {
  vlFormatLocaleDate(AText, 0, LocaleStr(LOCALE_SSHORTDATE), ADate);
  if (vlExtractTime(ADate) != 0) AText += u" " + TimeToStr(ADate);
}

void vlGetDayText(String& AText, TDateTime ADate) {
  if (vlFormatLocaleDate(AText, 0, u"d", ADate)) return;
  TFormatSettings& fs = FormatSettings();
  String saved = fs.ShortDateFormat;
  Finally restore([&] { fs.ShortDateFormat = saved; });
  fs.ShortDateFormat = u"d";
  AText = DateToStr(ADate);
}

void vlGetCalendarNumberText(Integer N, TvlCustomCalendarTable* ACalendar, String& AText) {
  // The locale writes numbers of its own calendar only; the platform's
  // locales have the Gregorian calendar, so other calendars' numbers are
  // written as plain integers.
  if (!ACalendar || ACalendar->CalendarID() != vlGetLocaleCalendarType()) {
    AText = IntToStr(N);
    return;
  }
  TDateTime d = ACalendar->ToDateTime(Cardinal(ACalendar->GetFirstSupportedYear()), 1, Cardinal(N));
  vlGetDayText(AText, d);
}

void vlGetMonthNameOfDate(TvlCustomCalendarTable* ACalendar, String& AText, TDateTime ADate) {
  if (!ACalendar || vlIsGregorianCalendar(ACalendar)) {
    Word y, m, d;
    DecodeDate(ADate, y, m, d);
    if (UseToolchainFormats() || !vlFormatLocaleDate(AText, 0, u"MMMM", ADate)) AText = FormatSettings().LongMonthNames[m - 1];
    return;
  }
  TvlDateTime dt = ACalendar->FromDateTime(ADate);
  vlGetMonthName(dt.Year, dt.Month, ACalendar, AText);
}

void vlGetMonthName(Cardinal AYear, Cardinal AMonth, TvlCustomCalendarTable* ACalendar, String& AText) {
  AText.clear();
  if (!ACalendar || vlIsGregorianCalendar(ACalendar)) {
    if (AMonth < 1 || AMonth > 12) return;
    if (UseToolchainFormats()) {
      AText = FormatSettings().LongMonthNames[AMonth - 1];
      return;
    }
    TDateTime d = 0;
    if (AYear <= 9999 && TryEncodeDate(Word(AYear), Word(AMonth), 1, d) && vlFormatLocaleDate(AText, 0, u"MMMM", d))
      return;
    AText = FormatSettings().LongMonthNames[AMonth - 1];
    return;
  }
  // The platform's locales name the months of the Gregorian calendar only:
  // other calendars' months have no name here.
}

void vlGetYearMonthCaption(TvlCustomCalendarTable* ACalendar, String& AText, TDateTime ADate) {
  if ((!ACalendar || vlIsGregorianCalendar(ACalendar)) && UseToolchainFormats()) {
    vlFormatDateByPattern(u"MMMM yyyy", u' ', AText, ADate);
    return;
  }
  String pattern;
  if (!vlGetCalendarInfo(GetThreadLocale(), ACalendar ? ACalendar->CalendarID() : CAL_GREGORIAN, CAL_SYEARMONTH, &pattern))
    pattern = u"MMMM yyyy";
  if (!ACalendar || vlIsGregorianCalendar(ACalendar)) {
    if (vlFormatLocaleDate(AText, 0, pattern, vlGetFirstDayOfMonth(true, ADate))) return;
  }
  String month, year;
  vlGetMonthNameOfDate(ACalendar, month, ADate);
  vlGetYearText(ACalendar, year, ADate);
  AText = month + u" " + year;
}

void vlGetYearText(TvlCustomCalendarTable* ACalendar, String& AText, TDateTime ADate) {
  if ((!ACalendar || vlIsGregorianCalendar(ACalendar)) && vlFormatLocaleDate(AText, 0, u"yyyy", vlGetFirstDayOfMonth(true, ADate)))
    return;
  AText = IntToStr(ACalendar ? ACalendar->GetYear(ADate) : vlGetDateElement(0, nullptr, ADate));
}

void vlGetWeekDayName(Integer ADay, Byte ACharset, String& AText) {
  AText.clear();
  if (ADay < 1 || ADay > 7) return;
  if (LocaleIsGregorian() && UseToolchainFormats())
    AText = FormatSettings().ShortDayNames[ADay % 7];  // 1 = Monday is the toolchain's index 1 (0 = Sunday)
  else
    AText = LocaleStr(LOCALE_SSHORTESTDAYNAME1 + Cardinal(ADay - 1));
  if (AText.empty()) AText = LocaleStr(LOCALE_SABBREVDAYNAME1 + Cardinal(ADay - 1));
  if (vlOneLetterDayNames && !AText.empty()) {
    Boolean farEast = ACharset == 134 || ACharset == 136 || ACharset == 178;
    AText = (farEast && AText[0] >= 128) ? String(1, AText.back()) : String(1, AText[0]);
  }
}

void vlDateTimeToEditText(Boolean AFourDigitYear, Boolean AUseDrevikFormats, String& AText, TDateTime ADate) {
  AText.clear();
  if (ADate == vlNullDate) return;
  const TFormatSettings& fs = FormatSettings();
  Boolean hasTime = vlExtractTime(ADate) != 0;
  String format = AUseDrevikFormats ? fs.ShortDateFormat : LocaleStr(LOCALE_SSHORTDATE);
  if (AUseDrevikFormats && hasTime) format += u" " + fs.LongTimeFormat;
  if (AFourDigitYear) {
    Integer p = Pos(u"yy", LowerCase(format));
    if (p > 0 && Pos(u"yyy", LowerCase(format)) == 0) format.insert(size_t(p + 1), format.substr(size_t(p - 1), 2));
  }
  if (AUseDrevikFormats) {
    DateTimeToString(AText, format, ADate);
    return;
  }
  Word y, m, d;
  DecodeDate(ADate, y, m, d);
  if (FormatLocaleDate(GetThreadLocale(), 0, y, m, d, format, AText)) {
    if (hasTime) {
      Word h, n, s, ms;
      DecodeTime(ADate, h, n, s, ms);
      String time;
      if (FormatLocaleTime(GetThreadLocale(), 0, h, n, s, String(), time)) AText += u" " + time;
    }
    return;
  }
  try {
    AText = VarToStr(VarFromDateTime(ADate));
  } catch (const EVariantError&) {
    AText.clear();
  }
}

void vlDateTimeToDisplayText(Boolean AMasked, Boolean AWithTime, Boolean AFourDigitYear, String& AText,
                             TDateTime ADate) {
  AText.clear();
  if (ADate == vlNullDate) return;
  if (!LocaleIsGregorian()) {
    vlDateTimeToLocaleText(AText, ADate);
    return;
  }
  TvlFormatController* fc = vlFormatController();
  if (AMasked) {
    AText = AWithTime ? FormatDateTime(fc->MaskedDateTimeEditFormat(), ADate)
                      : FormatDateTime(fc->MaskedDateEditFormat(), vlExtractDate(ADate));
    return;
  }
  vlDateTimeToEditText(AFourDigitYear, fc->UseDrevikDateTimeFormats(), AText, ADate);
}

// ---- Text to date-time ---------------------------------------------------------------

namespace {

// Reads a normalised text: with the toolchain's settings, or with the
// locale's own (the variant conversion of a string reads the locale's
// formats).
Boolean ReadDateTime(const String& AText, Boolean AUseVariantConversion, TDateTime& ADate) {
  if (AUseVariantConversion) {
    TFormatSettings locale = TFormatSettings::Create(GetThreadLocale());
    return TryStrToDateTime(AText, ADate, locale);
  }
  return TryStrToDateTime(AText, ADate);
}

Boolean AcceptableDate(TDateTime ADate) {
  if (!(ADate > -2147483648.0 && ADate < 2147483647.0)) return false;
  Word y, m, d;
  DecodeDate(ADate, y, m, d);
  return m != 0 && y <= vlMaxYear;
}

}  // namespace

TDateTime vlTextToDateTime(const String& AText, Boolean AUseDrevikFormats) {
  try {
    String text = Trim(AText);
    if (text.empty()) return vlNullDate;
    if (!LocaleIsGregorian()) return vlLocaleCalendarTextToDate(text);
    TDateTime result = vlNullDate;
    // A word with a huge offset must not give a date outside the accepted range.
    if (vlSmartTextToDate(text, result)) return AcceptableDate(result) ? result : vlNullDate;
    vlNormalizeDateText(text, !AUseDrevikFormats);
    if (!ReadDateTime(text, !AUseDrevikFormats, result) || !AcceptableDate(result)) return vlNullDate;
    return result;
  } catch (const Exception&) {
    return vlNullDate;
  }
}

Boolean vlTryTextToDate(const String& AText, TDateTime& ADate) {
  ADate = vlTextToDateTime(AText, vlFormatController()->UseDrevikDateTimeFormats());
  return ADate != vlNullDate;
}

Boolean vlTryStrToDateTime(const String& AText, Boolean AUseVariantConversion, TDateTime& ADate) {
  ADate = vlNullDate;
  try {
    if (!LocaleIsGregorian()) {
      ADate = vlLocaleCalendarTextToDate(AText);
      return true;
    }
    String text = AText;
    vlNormalizeDateText(text, AUseVariantConversion);
    TDateTime d = 0;
    if (!ReadDateTime(text, AUseVariantConversion, d)) return false;
    ADate = d;
    return true;
  } catch (const Exception&) {
    ADate = vlNullDate;
    return false;
  }
}

TDateTime vlLocaleCalendarTextToDate(const String& AText) {
  Cardinal type = vlGetLocaleCalendarType();
  if (type < CAL_JAPAN || type > CAL_HEBREW) {
    TDateTime d = vlNullDate;
    vlTryTextToDate(AText, d);
    return d;
  }
  std::unique_ptr<TvlCustomCalendarTable, void (*)(TvlCustomCalendarTable*)> table(
      vlCreateDefaultCalendarTable(), [](TvlCustomCalendarTable* t) { Free(t); });
  TFormatSettings settings = FormatSettings();
  vlFillLocaleFormatSettings(settings);
  TvlDateTime dt;
  if (!vlParseCalendarDate(AText, settings, table.get(), dt)) return vlNullDate;
  return table->ToDateTime(dt);
}

Boolean vlParseCalendarDate(const String& AText, const TFormatSettings& ASettings, TvlCustomCalendarTable* ATable,
                            TvlDateTime& ADateTime) {
  ADateTime = TvlDateTime();
  String text = AText;
  String sdf = LowerCase(ASettings.ShortDateFormat);
  Integer eraOffset = 0;
  if (StartsStr(u"g", sdf)) {
    size_t p = 0;
    while (p < text.size() && !(text[p] >= u'0' && text[p] <= u'9')) ++p;
    String era = Trim(text.substr(0, p));
    text = text.substr(p);
    for (Integer i = 0; i < 7 && !ASettings.EraNames[i].empty(); ++i)
      if (!era.empty() && ASettings.EraNames[i].find(era) != String::npos) {
        eraOffset = ASettings.EraYearOffsets[i];
        break;
      }
  } else if (sdf.find(u'e') != String::npos) {
    eraOffset = ASettings.EraYearOffsets[0];
  }
  Char sep = ASettings.DateSeparator;
  auto token = [&](Char ADelimiter) {
    text = TrimLeft(text);
    size_t p = text.find(ADelimiter);
    String t = Trim(text.substr(0, p));
    text = p == String::npos ? String() : text.substr(p + 1);
    return t;
  };
  String t1 = token(sep), t2 = token(sep);
  // Element order from the first of d, e/y, m in the short date format.
  size_t pd = sdf.find(u'd'), py = std::min(sdf.find(u'y'), sdf.find(u'e')), pm = sdf.find(u'm');
  size_t first = std::min({pd, py, pm});
  Integer order = first == String::npos || first == pm ? 2 : first == pd ? 0 : 1;  // 0 dmy, 1 ymd, 2 mdy
  String* monthToken = order == 2 ? &t1 : &t2;
  if (sep == u' ' && !text.empty() && !(TrimLeft(text)[0] >= u'0' && TrimLeft(text)[0] <= u'9')) {
    // A month name of two words.
    *monthToken += u" " + token(u' ');
    if (order == 2) {
      t2 = token(u' ');
    }
  }
  String t3 = token(u' ');
  String dayText = order == 0 ? t1 : order == 1 ? t3 : t2;
  String monthText = *monthToken;
  String yearText = order == 0 ? t3 : order == 1 ? t1 : t3;
  Integer year = ATable->GetYearNumber(yearText);
  ADateTime.Year = Cardinal(year);
  ADateTime.Month = ATable->GetMonthNumber(Cardinal(year), monthText);
  ADateTime.Day = ATable->GetDayNumber(dayText);
  ADateTime.Era = ATable->GetEra(eraOffset + 1);
  String rest = Trim(text);
  if (!rest.empty()) {
    TDateTime t = StrToTime(rest, ASettings);
    Word h, n, s, ms;
    DecodeTime(t, h, n, s, ms);
    ADateTime.Hours = Byte(h);
    ADateTime.Minutes = Byte(n);
    ADateTime.Seconds = Byte(s);
    ADateTime.Milliseconds = ms;
  }
  return true;
}

void vlNormalizeDateText(String& AText, Boolean ALocaleSeparators) {
  const TFormatSettings& fs = FormatSettings();
  std::vector<String> separators;
  if (ALocaleSeparators) {
    separators = {String(1, FirstChar(LocaleStr(LOCALE_SDATE))), String(1, FirstChar(LocaleStr(LOCALE_STIME))),
                  LocaleStr(LOCALE_S1159, u"am"), LocaleStr(LOCALE_S2359, u"pm")};
  } else {
    separators = {String(1, fs.DateSeparator), String(1, fs.TimeSeparator), fs.TimeAMString, fs.TimePMString};
  }
  for (String& s : separators) s = UpperCase(Trim(s));
  TvlFormatController* fc = vlFormatController();
  for (const TvlDateTimeFormatInfo* info : {&fc->DateFormatInfo(), &fc->TimeFormatInfo()})
    for (const TvlDateTimeFormatItem& item : info->Items) {
      if (item.Kind != dtikString) continue;
      String literal = UpperCase(Trim(item.Data));
      if (literal.empty() || std::find(separators.begin(), separators.end(), literal) != separators.end()) continue;
      AText = StringReplace(AText, literal, String(literal.size(), u' '), rfReplaceAll | rfIgnoreCase);
    }
  AText = Trim(AText);
  String collapsed;
  for (Char c : AText)
    if (!(c == u' ' && !collapsed.empty() && collapsed.back() == u' ')) collapsed += c;
  AText = collapsed;
  // The platform's reader needs the date separator: it is kept (where the
  // original platform's variant conversion also read blanks).
}

// ---- Smart input ----------------------------------------------------------------------

Boolean vlSmartTextToDate(const String& AText, TDateTime& ADate) {
  LoadSmartWords();
  String text = Trim(AText);
  Integer order[vlSmartDateWordCount];
  for (Integer i = 0; i < vlSmartDateWordCount; ++i) order[i] = i;
  std::stable_sort(order, order + vlSmartDateWordCount, [](Integer a, Integer b) {
    const String& wa = vlSmartDateWords[a];
    const String& wb = vlSmartDateWords[b];
    if (wa.size() != wb.size()) return wa.size() > wb.size();
    return AnsiCompareText(wa, wb) > 0;
  });
  Integer word = -1;
  for (Integer k : order) {
    const String& w = vlSmartDateWords[k];
    // The locale's case rules, or the plain Latin ones: under Turkish settings
    // "FRIDAY" must still be Friday although its I lower-cases to a dotless i.
    if (!w.empty() && text.size() >= w.size() &&
        (AnsiSameText(text.substr(0, w.size()), w) || SameText(text.substr(0, w.size()), w))) {
      word = k;
      break;
    }
  }
  if (word < 0) {
    if (vlSmartTextToDateHook) return vlSmartTextToDateHook(AText, ADate);
    return false;
  }
  TDateTime today = TodayValue();
  switch (word) {
    case 0:
      ADate = today;
      break;
    case 1:
      ADate = today - 1;
      break;
    case 2:
      ADate = today + 1;
      break;
    case 3: case 4: case 5: case 6: case 7: case 8: case 9: {
      Integer d = word - DayOfWeek(today) - 2;
      ADate = d < 0 ? today + 7 + d : today + d;
      break;
    }
    case 10: case 11: case 12: case 13: case 14: case 15: case 16:
      ADate = today - (vlGetDayOfWeekIndex(today) - (word - 10));
      break;
    case 17:
      ADate = vlGetFirstDayOfMonth(true, today);
      break;
    case 18:
      ADate = vlGetLastDayOfMonth(true, today);
      break;
    default:
      ADate = NowValue();
      break;
  }
  String rest = Trim(text.substr(vlSmartDateWords[word].size()));
  if (rest.size() > 1 && (rest[0] == u'+' || rest[0] == u'-')) {
    Integer n = 0;
    if (TryStrToInt(Trim(rest.substr(1)), n)) ADate += rest[0] == u'+' ? TDateTime(n) : -TDateTime(n);
  }
  return true;
}

void vlAddSmartDateWordsToMask(String& AMask, Boolean AWithNow) {
  LoadSmartWords();
  String words;
  Integer count = AWithNow ? vlSmartDateWordCount : vlSmartDateWordCount - 1;
  for (Integer i = 0; i < count; ++i) {
    if (i > 0) words += u'|';
    words += MaskWord(vlSmartDateWords[i]);
  }
  const String offset = u"((\\+|-)\\d(\\d(\\d\\d?)?)?)?";
  // A mask without a date part is the smart-word part alone.
  if (AMask.empty())
    AMask = u"(" + words + u")" + offset;
  else
    AMask = u"(" + AMask + u")|(" + words + u")" + offset;
}

// ---- Gregorian arithmetic ----------------------------------------------------------------

Boolean vlIsLeapYear(Integer AYear) { return AYear % 4 == 0 && (AYear % 100 != 0 || AYear % 400 == 0); }

Integer vlGetDaysInMonth(Integer AYear, Integer AMonth) {
  static const Integer kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (AMonth < 1 || AMonth > 12) return 0;
  return kDays[AMonth - 1] + (AMonth == 2 && vlIsLeapYear(AYear) ? 1 : 0);
}

TDateTime vlExtractTime(TDateTime ADate) { return DateTimeToTimeStamp(ADate).Time / TDateTime(MSecsPerDay); }

TDateTime vlExtractDate(TDateTime ADate) {
  TTimeStamp ts = DateTimeToTimeStamp(ADate);
  ts.Time = 0;
  return TimeStampToDateTime(ts);
}

Integer vlGetMonthIndex(TDateTime ADate) {
  Word y, m, d;
  DecodeDate(ADate, y, m, d);
  return Integer(y) * 12 + m - 12;
}

Integer vlGetDateElement(Integer AElement, TvlCustomCalendarTable* ACalendar, TDateTime ADate) {
  Integer y, m, d;
  if (ACalendar) {
    TvlDateTime dt = ACalendar->FromDateTime(ADate);
    y = Integer(dt.Year);
    m = Integer(dt.Month);
    d = Integer(dt.Day);
  } else {
    Word wy, wm, wd;
    DecodeDate(ADate, wy, wm, wd);
    y = wy;
    m = wm;
    d = wd;
  }
  return AElement == 0 ? y : AElement == 1 ? m : d;
}

Integer vlGetDayOfWeekIndex(TDateTime ADate) {
  Integer w = DayOfWeek(ADate) - 1;
  return (w - vlFormatController()->StartOfWeek() + 7) % 7;
}

TDateTime vlGetFirstDayOfMonth(Boolean ADateOnly, TDateTime ADate) {
  (void)ADateOnly;
  Word y, m, d;
  DecodeDate(ADate, y, m, d);
  return EncodeDate(y, m, 1);
}

TDateTime vlGetLastDayOfMonth(Boolean ADateOnly, TDateTime ADate) {
  Word y, m, d;
  DecodeDate(ADate, y, m, d);
  TDateTime result = EncodeDate(y, m, Word(vlGetDaysInMonth(y, m)));
  return ADateOnly ? result : result + EncodeTime(23, 59, 59, 999);
}

TDateTime vlGetFirstDayOfYear(Boolean ADateOnly, TDateTime ADate) {
  (void)ADateOnly;
  Word y, m, d;
  DecodeDate(ADate, y, m, d);
  return EncodeDate(y, 1, 1);
}

TDateTime vlGetLastDayOfYear(Boolean ADateOnly, TDateTime ADate) {
  Word y, m, d;
  DecodeDate(ADate, y, m, d);
  TDateTime result = EncodeDate(y, 12, 31);
  return ADateOnly ? result : result + EncodeTime(23, 59, 59, 999);
}

TDateTime vlGetMinDate() { return EncodeDate(vlMinYear, 1, 1); }

Boolean vlIsValidDate(TDateTime ADate) {
  return ADate == vlNullDate || (ADate >= vlGetMinDate() && ADate <= vlMaxDate);
}

Cardinal vlGetWeekNumber(TDayOfWeek AStartOfWeek, Integer AFirstWeekOfYear, TDateTime ADate) {
  Integer rule = AFirstWeekOfYear;
  if (rule == fwySystem) rule = StrToIntDef(LocaleStr(LOCALE_IFIRSTWEEKOFYEAR, u"0"), 0) + 1;
  Word y, m, d;
  DecodeDate(ADate, y, m, d);
  TDateTime jan1 = EncodeDate(y, 1, 1);
  auto weekStart = [&](TDateTime ADay) {
    Integer w = DayOfWeek(ADay) - 1;
    TDateTime s = ADay + AStartOfWeek - w;
    return w < AStartOfWeek ? s - 7 : s;
  };
  TDateTime s = weekStart(jan1);
  if ((rule == fwyFirstFullWeek && s < jan1) || (rule == fwyFirstFourDays && s + 3 < jan1)) s += 7;
  Int64 day = Int64(std::trunc(ADate));
  if (day < Int64(std::trunc(s))) {
    // Before week 1: the previous year's last week.
    if (y <= 1) return 1;
    return vlGetWeekNumber(AStartOfWeek, rule, jan1 - 1);
  }
  Cardinal n = Cardinal((day - Int64(std::trunc(s))) / 7 + 1);
  if (m == 12) {
    TDateTime l = weekStart(std::trunc(ADate));
    Word ly, lm, ld;
    if (rule == fwyJan1) {
      DecodeDate(l + 6, ly, lm, ld);
      if (lm == 1) return 1;
    } else if (rule == fwyFirstFourDays) {
      DecodeDate(l + 3, ly, lm, ld);
      if (lm == 1) return 1;
    }
  }
  return n;
}
