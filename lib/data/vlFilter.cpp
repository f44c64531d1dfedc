#include "lib/data/vlFilter.h"

#include <sys/mman.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>
#include <memory>
#include <numeric>

#include "lib/data/vlDataUtils.h"
#include "lib/data/vlFilterConsts.h"
#include "lib/data/vlLike.h"
#include "lib/foundation/nbCore.h"
#include "lib/foundation/vlVariants.h"
#include "platform/classes/Filer.h"
#include "platform/classes/Lists.h"
#include "platform/classes/Streams.h"
#include "platform/classes/TypInfoBuild.h"
#include "platform/rtl/CodePages.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Finally.h"
#include "platform/rtl/Strings.h"

CL_IMPLEMENT_CLASS(TvlFilterOperator)
CL_IMPLEMENT_CLASS(TvlFilterEqualOperator)
CL_IMPLEMENT_CLASS(TvlFilterNotEqualOperator)
CL_IMPLEMENT_CLASS(TvlFilterLessOperator)
CL_IMPLEMENT_CLASS(TvlFilterLessEqualOperator)
CL_IMPLEMENT_CLASS(TvlFilterGreaterOperator)
CL_IMPLEMENT_CLASS(TvlFilterGreaterEqualOperator)
CL_IMPLEMENT_CLASS(TvlFilterLikeOperator)
CL_IMPLEMENT_CLASS(TvlFilterNotLikeOperator)
CL_IMPLEMENT_CLASS(TvlFilterBetweenOperator)
CL_IMPLEMENT_CLASS(TvlFilterNotBetweenOperator)
CL_IMPLEMENT_CLASS(TvlFilterInListOperator)
CL_IMPLEMENT_CLASS(TvlFilterNotInListOperator)
CL_IMPLEMENT_CLASS(TvlFilterNullOperator)
CL_IMPLEMENT_CLASS(TvlFilterNotNullOperator)
CL_IMPLEMENT_CLASS(TvlFilterDateOperator)
CL_IMPLEMENT_CLASS(TvlFilterLastNDaysOperator)
CL_IMPLEMENT_CLASS(TvlFilterNextNDaysOperator)
CL_IMPLEMENT_CLASS(TvlFilterYesterdayOperator)
CL_IMPLEMENT_CLASS(TvlFilterTodayOperator)
CL_IMPLEMENT_CLASS(TvlFilterTomorrowOperator)
CL_IMPLEMENT_CLASS(TvlFilterLast7DaysOperator)
CL_IMPLEMENT_CLASS(TvlFilterLastWeekOperator)
CL_IMPLEMENT_CLASS(TvlFilterLast14DaysOperator)
CL_IMPLEMENT_CLASS(TvlFilterLastTwoWeeksOperator)
CL_IMPLEMENT_CLASS(TvlFilterLast30DaysOperator)
CL_IMPLEMENT_CLASS(TvlFilterLastMonthOperator)
CL_IMPLEMENT_CLASS(TvlFilterLastYearOperator)
CL_IMPLEMENT_CLASS(TvlFilterInPastOperator)
CL_IMPLEMENT_CLASS(TvlFilterThisWeekOperator)
CL_IMPLEMENT_CLASS(TvlFilterThisMonthOperator)
CL_IMPLEMENT_CLASS(TvlFilterThisYearOperator)
CL_IMPLEMENT_CLASS(TvlFilterNext7DaysOperator)
CL_IMPLEMENT_CLASS(TvlFilterNextWeekOperator)
CL_IMPLEMENT_CLASS(TvlFilterNext14DaysOperator)
CL_IMPLEMENT_CLASS(TvlFilterNextTwoWeeksOperator)
CL_IMPLEMENT_CLASS(TvlFilterNext30DaysOperator)
CL_IMPLEMENT_CLASS(TvlFilterNextMonthOperator)
CL_IMPLEMENT_CLASS(TvlFilterNextYearOperator)
CL_IMPLEMENT_CLASS(TvlFilterInFutureOperator)
CL_IMPLEMENT_CLASS(TvlCustomFilterCriteriaItem)
CL_IMPLEMENT_CLASS(TvlFilterCriteriaItemList)
CL_IMPLEMENT_CLASS(TvlFilterCriteriaItem)
CL_IMPLEMENT_CLASS(TvlFilterValueList)
CL_IMPLEMENT_CLASS_PUBLISHED(TvlFilterCriteria, P) {
  P.Property(u"Options", &TvlFilterCriteria::Options, &TvlFilterCriteria::SetOptions)
      .Default(TvlFilterCriteriaOptions().ToInt());
  P.Property(u"PercentWildcard", &TvlFilterCriteria::PercentWildcard, &TvlFilterCriteria::SetPercentWildcard)
      .Default(u'%');
  P.Property(u"UnderscoreWildcard", &TvlFilterCriteria::UnderscoreWildcard,
             &TvlFilterCriteria::SetUnderscoreWildcard)
      .Default(u'_');
  P.Property(u"MaxValueListCount", &TvlFilterCriteria::MaxValueListCount,
             &TvlFilterCriteria::SetMaxValueListCount)
      .Default(0);
  P.Property(u"OnChanged", &TvlFilterCriteria::OnChanged, &TvlFilterCriteria::SetOnChanged);
}
CL_IMPLEMENT_CLASS_PUBLISHED(TFilterWrapper, P) {
  P.Property(u"Filter", &TFilterWrapper::Filter, &TFilterWrapper::SetFilter);
}

Boolean vlFilterDayRangesIncludeToday = true;

namespace {

// Nested groups read from a stream: deeper trees are refused (reading recurses).
constexpr Integer kMaxReadDepth = 64;

[[noreturn]] void StreamReadError() { throw EReadError(LoadResString(vlSDataReadError)); }

Int64 BytesLeft(TStream* AStream) { return AStream->Size() - AStream->Position(); }

String RecordValueText(const Variant& V) { return VarIsNull(V) ? String() : VarToStr(V); }

Integer ArrayLow(const Variant& V) { return VarArrayLowBound(V, 1); }
Integer ArrayHigh(const Variant& V) { return VarArrayHighBound(V, 1); }

// The parts of a display value between ";" (trimmed).
std::vector<String> SplitDisplayValue(const String& S) {
  std::vector<String> Parts;
  size_t Start = 0;
  for (;;) {
    size_t P = S.find(u';', Start);
    Parts.push_back(Trim(S.substr(Start, P == String::npos ? String::npos : P - Start)));
    if (P == String::npos) break;
    Start = P + 1;
  }
  return Parts;
}

String ReadCountedText(TStream* AStream, Boolean AUnicode) {
  return AUnicode ? vlStreamGetWideString(AStream) : AnsiToString(vlStreamGetAnsiString(AStream));
}

const TvlFilterOperatorClass& KindClass(Integer AKind) {
  static const TvlFilterOperatorClass Classes[vlFilterOperatorKindCount] = {
      ClassOf<TvlFilterEqualOperator>(),        ClassOf<TvlFilterNotEqualOperator>(),
      ClassOf<TvlFilterLessOperator>(),         ClassOf<TvlFilterLessEqualOperator>(),
      ClassOf<TvlFilterGreaterOperator>(),      ClassOf<TvlFilterGreaterEqualOperator>(),
      ClassOf<TvlFilterLikeOperator>(),         ClassOf<TvlFilterNotLikeOperator>(),
      ClassOf<TvlFilterBetweenOperator>(),      ClassOf<TvlFilterNotBetweenOperator>(),
      ClassOf<TvlFilterInListOperator>(),       ClassOf<TvlFilterNotInListOperator>(),
      ClassOf<TvlFilterYesterdayOperator>(),    ClassOf<TvlFilterTodayOperator>(),
      ClassOf<TvlFilterTomorrowOperator>(),     ClassOf<TvlFilterLast7DaysOperator>(),
      ClassOf<TvlFilterLastWeekOperator>(),     ClassOf<TvlFilterLast14DaysOperator>(),
      ClassOf<TvlFilterLastTwoWeeksOperator>(), ClassOf<TvlFilterLast30DaysOperator>(),
      ClassOf<TvlFilterLastMonthOperator>(),    ClassOf<TvlFilterLastYearOperator>(),
      ClassOf<TvlFilterInPastOperator>(),       ClassOf<TvlFilterThisWeekOperator>(),
      ClassOf<TvlFilterThisMonthOperator>(),    ClassOf<TvlFilterThisYearOperator>(),
      ClassOf<TvlFilterNext7DaysOperator>(),    ClassOf<TvlFilterNextWeekOperator>(),
      ClassOf<TvlFilterNext14DaysOperator>(),   ClassOf<TvlFilterNextTwoWeeksOperator>(),
      ClassOf<TvlFilterNext30DaysOperator>(),   ClassOf<TvlFilterNextMonthOperator>(),
      ClassOf<TvlFilterNextYearOperator>(),     ClassOf<TvlFilterInFutureOperator>(),
  };
  return Classes[AKind];
}

// Day 1 of the month that lies AMonths after the month of T.
TDateTime FirstOfMonth(TDateTime T, Integer AMonths) {
  Word Y, M, D;
  DecodeDate(T, Y, M, D);
  Integer Index = Y * 12 + (M - 1) + AMonths;
  return EncodeDate(static_cast<Word>(Index / 12), static_cast<Word>(Index % 12 + 1), 1);
}

TDateTime FirstOfYear(TDateTime T, Integer AYears) {
  Word Y, M, D;
  DecodeDate(T, Y, M, D);
  return EncodeDate(static_cast<Word>(Y + AYears), 1, 1);
}

}  // namespace

TvlFilterOperatorClass vlFilterOperatorClass(TvlFilterOperatorKind AKind) { return KindClass(AKind); }

// --- TvlFilterOperator ---------------------------------------------------------------

TvlFilterCriteria* TvlFilterOperator::Criteria() const { return FCriteriaItem->Criteria(); }

String TvlFilterOperator::FieldName() const { return FCriteriaItem->GetFieldName(); }

String TvlFilterOperator::ExpressionText(const Variant& Value) { return ValueToFilterText(Value); }

String TvlFilterOperator::ValueToFilterText(const Variant& Value) {
  String Text;
  if (ArrayValueToFilterText(Value, Text)) return Text;
  TvlFilterCriteria* C = Criteria();
  if (VarIsStr(Value)) {
    Text = u"'";
    for (Char Ch : Value.AsString()) {
      if (Ch == u'\'') Text += Ch;
      Text += Ch;
    }
    Text += u"'";
  } else if (vlVarIsDateTime(Value)) {
    Text = u"'" + C->FormatDateValue(Value) + u"'";
  } else if (VarType(Value) == varBoolean) {
    Text = C->FormatBooleanValue(Value);
  } else if (VarIsNull(Value)) {
    Text = u"NULL";
  } else {
    Text = VarToStr(Value);
  }
  C->FormatFilterTextValue(FCriteriaItem, Value, Text);
  return Text;
}

void TvlFilterOperator::AdjustDisplayValue(String& DisplayValue) {}
void TvlFilterOperator::PrepareForFiltering() {}
Boolean TvlFilterOperator::ArrayValueToFilterText(const Variant& Value, String& Text) { return false; }

void TvlFilterOperator::Create(TvlFilterCriteriaItem* ACriteriaItem) {
  inherited::Create();
  FCriteriaItem = ACriteriaItem;
}

Boolean TvlFilterOperator::CompareValues(const Variant& AValue1, const Variant& AValue2) {
  AbstractError();
}

String TvlFilterOperator::DisplayText() { return FilterText(); }
String TvlFilterOperator::FilterText() { AbstractError(); }
Boolean TvlFilterOperator::IsDescription() { return false; }
Boolean TvlFilterOperator::IsExpression() { return false; }
Boolean TvlFilterOperator::IsNullOperator() { return false; }

// --- Comparison operators -------------------------------------------------------------

String TvlFilterEqualOperator::ExpressionText(const Variant& Value) {
  if (!VarIsArray(Value)) return inherited::ExpressionText(Value);
  // Several key fields: element i goes with the i-th name.
  std::vector<String> Names = SplitDisplayValue(FieldName());
  String Text;
  for (Integer I = ArrayLow(Value), N = 0; I <= ArrayHigh(Value); ++I, ++N) {
    if (N > 0) Text += u" AND ";
    String Name = N < static_cast<Integer>(Names.size()) ? Names[N] : String();
    Text += u"(" + Name + u" = " + ValueToFilterText(Value.GetElement(I)) + u")";
  }
  return Text;
}

Boolean TvlFilterEqualOperator::CompareValues(const Variant& AValue1, const Variant& AValue2) {
  return vlVariantsEqual(AValue1, AValue2);
}

String TvlFilterEqualOperator::DisplayText() { return vlGetFilterResString(vlSFilterOperatorEqual); }
String TvlFilterEqualOperator::FilterText() { return u"="; }
Boolean TvlFilterEqualOperator::IsExpression() { return VarIsArray(CriteriaItem()->Value()); }

String TvlFilterNotEqualOperator::ExpressionText(const Variant& Value) {
  return u"NOT (" + inherited::ExpressionText(Value) + u")";
}

Boolean TvlFilterNotEqualOperator::CompareValues(const Variant& AValue1, const Variant& AValue2) {
  return !inherited::CompareValues(AValue1, AValue2);
}

String TvlFilterNotEqualOperator::DisplayText() { return vlGetFilterResString(vlSFilterOperatorNotEqual); }
String TvlFilterNotEqualOperator::FilterText() { return u"<>"; }

#define VL_COMPARE_OPERATOR(Name, Test, Caption, Word)                          \
  Boolean Name::CompareValues(const Variant& AValue1, const Variant& AValue2) { \
    return vlCompareVariants(AValue1, AValue2) Test 0;                           \
  }                                                                              \
  String Name::DisplayText() { return vlGetFilterResString(Caption); }           \
  String Name::FilterText() { return Word; }

VL_COMPARE_OPERATOR(TvlFilterLessOperator, <, vlSFilterOperatorLess, u"<")
VL_COMPARE_OPERATOR(TvlFilterLessEqualOperator, <=, vlSFilterOperatorLessEqual, u"<=")
VL_COMPARE_OPERATOR(TvlFilterGreaterOperator, >, vlSFilterOperatorGreater, u">")
VL_COMPARE_OPERATOR(TvlFilterGreaterEqualOperator, >=, vlSFilterOperatorGreaterEqual, u">=")

#undef VL_COMPARE_OPERATOR

// --- LIKE --------------------------------------------------------------------------------

Byte TvlFilterLikeOperator::LikeKind() const {
  String Pattern = RecordValueText(CriteriaItem()->Value());
  return vlStripLikeWildcards(Pattern, Criteria()->PercentWildcard());
}

void TvlFilterLikeOperator::AdjustDisplayValue(String& DisplayValue) {
  if (Criteria()->Options().Contains(fcoShowOperatorDescription))
    vlStripLikeWildcards(DisplayValue, Criteria()->PercentWildcard());
}

Boolean TvlFilterLikeOperator::CompareValues(const Variant& AValue1, const Variant& AValue2) {
  TvlFilterCriteria* C = Criteria();
  return vlMatchesLike(RecordValueText(AValue1), RecordValueText(AValue2), C->PercentWildcard(),
                       C->UnderscoreWildcard());
}

String TvlFilterLikeOperator::DisplayText() {
  static const TResStringRec* const Texts[] = {&vlSFilterOperatorLike, &vlSFilterOperatorBeginsWith,
                                               &vlSFilterOperatorEndsWith, &vlSFilterOperatorContains};
  return vlGetFilterResString(Texts[LikeKind() & 3]);
}

String TvlFilterLikeOperator::FilterText() { return u"LIKE"; }

String TvlFilterNotLikeOperator::ExpressionText(const Variant& Value) {
  return u" NOT (" + FieldName() + u" LIKE " + ValueToFilterText(Value) + u")";
}

Boolean TvlFilterNotLikeOperator::CompareValues(const Variant& AValue1, const Variant& AValue2) {
  return !inherited::CompareValues(AValue1, AValue2);
}

String TvlFilterNotLikeOperator::DisplayText() {
  static const TResStringRec* const Texts[] = {&vlSFilterOperatorNotLike, &vlSFilterOperatorDoesNotBeginWith,
                                               &vlSFilterOperatorDoesNotEndWith, &vlSFilterOperatorDoesNotContain};
  return vlGetFilterResString(Texts[LikeKind() & 3]);
}

String TvlFilterNotLikeOperator::FilterText() { return u"NOT LIKE"; }
Boolean TvlFilterNotLikeOperator::IsExpression() { return Criteria()->TranslateLike(); }

// --- BETWEEN -----------------------------------------------------------------------------

namespace {

// Element AOffset of a between value (a pair); Null where it has none.
Variant PairElement(const Variant& Value, Integer AOffset) {
  if (!VarIsArray(Value)) return AOffset == 0 ? Value : Null();
  Integer I = ArrayLow(Value) + AOffset;
  return I <= ArrayHigh(Value) ? Value.GetElement(I) : Null();
}

}  // namespace

String TvlFilterBetweenOperator::ExpressionText(const Variant& Value) {
  String F = FieldName();
  String Low = ValueToFilterText(PairElement(Value, 0));
  String High = ValueToFilterText(PairElement(Value, VarIsArray(Value) ? 1 : 0));
  return u"(" + F + u" >= " + Low + u") AND (" + F + u" <= " + High + u")";
}

void TvlFilterBetweenOperator::AdjustDisplayValue(String& DisplayValue) {
  size_t P = DisplayValue.find(u';');
  String Low = Trim(DisplayValue.substr(0, P));
  String High = P == String::npos ? String() : Trim(DisplayValue.substr(P + 1));
  DisplayValue = Low + u" " + vlGetFilterResString(vlSFilterAndCaption) + u" " + High;
}

Boolean TvlFilterBetweenOperator::ArrayValueToFilterText(const Variant& Value, String& Text) {
  if (!VarIsArray(Value)) return false;
  Text = ValueToFilterText(PairElement(Value, 0)) + u" AND " + ValueToFilterText(PairElement(Value, 1));
  return true;
}

Boolean TvlFilterBetweenOperator::CompareValues(const Variant& AValue1, const Variant& AValue2) {
  // A leaf value that is no pair matches nothing.
  if (!VarIsArray(AValue2) || ArrayHigh(AValue2) < ArrayLow(AValue2) + 1) return false;
  Integer L = ArrayLow(AValue2);
  return vlCompareVariants(AValue2.GetElement(L), AValue1) <= 0 &&
         vlCompareVariants(AValue1, AValue2.GetElement(L + 1)) <= 0;
}

String TvlFilterBetweenOperator::DisplayText() { return vlGetFilterResString(vlSFilterOperatorBetween); }
String TvlFilterBetweenOperator::FilterText() { return u"BETWEEN"; }
Boolean TvlFilterBetweenOperator::IsDescription() { return true; }
Boolean TvlFilterBetweenOperator::IsExpression() { return Criteria()->TranslateBetween(); }

String TvlFilterNotBetweenOperator::ExpressionText(const Variant& Value) {
  return u"NOT (" + inherited::ExpressionText(Value) + u")";
}

Boolean TvlFilterNotBetweenOperator::CompareValues(const Variant& AValue1, const Variant& AValue2) {
  return !inherited::CompareValues(AValue1, AValue2);
}

String TvlFilterNotBetweenOperator::DisplayText() { return vlGetFilterResString(vlSFilterOperatorNotBetween); }
String TvlFilterNotBetweenOperator::FilterText() { return u"NOT BETWEEN"; }

// --- IN ------------------------------------------------------------------------------------

String TvlFilterInListOperator::ExpressionText(const Variant& Value) {
  String F = FieldName();
  if (!VarIsArray(Value)) return u"(" + F + u" = " + ValueToFilterText(Value) + u")";
  String Text;
  for (Integer I = ArrayLow(Value); I <= ArrayHigh(Value); ++I) {
    if (I > ArrayLow(Value)) Text += u" OR ";
    Text += u"(" + F + u" = " + ValueToFilterText(Value.GetElement(I)) + u")";
  }
  return Text;
}

void TvlFilterInListOperator::AdjustDisplayValue(String& DisplayValue) {
  // An empty display value shows as "()".
  String Text;
  if (!DisplayValue.empty()) {
    std::vector<String> Items = SplitDisplayValue(DisplayValue);
    for (size_t I = 0; I < Items.size(); ++I) Text += (I ? u", " : u"") + Items[I];
  }
  DisplayValue = u"(" + Text + u")";
}

Boolean TvlFilterInListOperator::ArrayValueToFilterText(const Variant& Value, String& Text) {
  if (!VarIsArray(Value)) return false;
  Text = u"(";
  for (Integer I = ArrayLow(Value); I <= ArrayHigh(Value); ++I) {
    if (I > ArrayLow(Value)) Text += u", ";
    Text += ValueToFilterText(Value.GetElement(I));
  }
  Text += u")";
  return true;
}

Boolean TvlFilterInListOperator::CompareValues(const Variant& AValue1, const Variant& AValue2) {
  if (!VarIsArray(AValue2)) return vlVariantsEqual(AValue1, AValue2);
  for (Integer I = ArrayLow(AValue2); I <= ArrayHigh(AValue2); ++I)
    if (vlVariantsEqual(AValue1, AValue2.GetElement(I))) return true;
  return false;
}

String TvlFilterInListOperator::DisplayText() { return vlGetFilterResString(vlSFilterOperatorInList); }
String TvlFilterInListOperator::FilterText() { return u"IN"; }
Boolean TvlFilterInListOperator::IsDescription() { return true; }
Boolean TvlFilterInListOperator::IsExpression() { return Criteria()->TranslateIn(); }

String TvlFilterNotInListOperator::ExpressionText(const Variant& Value) {
  return u"NOT (" + inherited::ExpressionText(Value) + u")";
}

Boolean TvlFilterNotInListOperator::CompareValues(const Variant& AValue1, const Variant& AValue2) {
  return !inherited::CompareValues(AValue1, AValue2);
}

String TvlFilterNotInListOperator::DisplayText() { return vlGetFilterResString(vlSFilterOperatorNotInList); }
String TvlFilterNotInListOperator::FilterText() { return u"NOT IN"; }

// --- Null ---------------------------------------------------------------------------------

void TvlFilterNullOperator::AdjustDisplayValue(String& DisplayValue) {
  if (Criteria()->Options().Contains(fcoShowOperatorDescription)) DisplayValue.clear();
}

Boolean TvlFilterNullOperator::CompareValues(const Variant& AValue1, const Variant& AValue2) {
  return CriteriaItem()->ValueIsNull(AValue1);
}

String TvlFilterNullOperator::DisplayText() { return vlGetFilterResString(vlSFilterOperatorIsNull); }
Boolean TvlFilterNullOperator::IsNullOperator() { return true; }

Boolean TvlFilterNotNullOperator::CompareValues(const Variant& AValue1, const Variant& AValue2) {
  return !inherited::CompareValues(AValue1, AValue2);
}

String TvlFilterNotNullOperator::DisplayText() { return vlGetFilterResString(vlSFilterOperatorIsNotNull); }
String TvlFilterNotNullOperator::FilterText() { return u"<>"; }

// --- Dates ---------------------------------------------------------------------------------

String TvlFilterDateOperator::ExpressionText(const Variant& Value) {
  String F = FieldName();
  String Text;
  if (FDate1 != 0) Text = u"(" + F + u" >= " + ValueToFilterText(VarFromDateTime(FDate1)) + u")";
  if (FDate2 != 0) {
    if (!Text.empty()) Text += u" AND ";
    Text += u"(" + F + u" < " + ValueToFilterText(VarFromDateTime(FDate2)) + u")";
  }
  return Text;
}

void TvlFilterDateOperator::AdjustDisplayValue(String& DisplayValue) { DisplayValue.clear(); }

void TvlFilterDateOperator::PrepareForFiltering() { PrepareForDate(Date()); }

void TvlFilterDateOperator::PrepareForDate(TDateTime AToday) {
  TDateTime T = vlDateOf(AToday);
  ComputeDates(T, vlWeekStartDate(T), FDate1, FDate2);
}

void TvlFilterDateOperator::ComputeDates(TDateTime T, TDateTime W, TDateTime& D1, TDateTime& D2) {
  D1 = 0;
  D2 = 0;
}

Boolean TvlFilterDateOperator::CompareValues(const Variant& AValue1, const Variant& AValue2) {
  if (CriteriaItem()->ValueIsNull(AValue1)) return false;
  return (FDate1 == 0 || vlCompareVariants(AValue1, VarFromDateTime(FDate1)) >= 0) &&
         (FDate2 == 0 || vlCompareVariants(AValue1, VarFromDateTime(FDate2)) < 0);
}

String TvlFilterDateOperator::FilterText() { return DisplayText(); }
Boolean TvlFilterDateOperator::IsExpression() { return true; }

Integer TvlFilterLastNDaysOperator::DaySpan() { return 0; }

void TvlFilterLastNDaysOperator::ComputeDates(TDateTime T, TDateTime W, TDateTime& D1, TDateTime& D2) {
  D2 = vlFilterDayRangesIncludeToday ? T + 1 : T;
  D1 = D2 - DaySpan();
}

Integer TvlFilterNextNDaysOperator::DaySpan() { return 0; }

void TvlFilterNextNDaysOperator::ComputeDates(TDateTime T, TDateTime W, TDateTime& D1, TDateTime& D2) {
  D1 = vlFilterDayRangesIncludeToday ? T : T + 1;
  D2 = D1 + DaySpan();
}

#define VL_DATE_CAPTION(Name, Res) \
  String Name::DisplayText() { return vlGetFilterResString(Res); }
#define VL_DATE_INTERVAL(Name, From, To)                                                   \
  void Name::ComputeDates(TDateTime T, TDateTime W, TDateTime& D1, TDateTime& D2) {       \
    D1 = (From);                                                                           \
    D2 = (To);                                                                             \
  }
#define VL_DAY_SPAN(Name, N) \
  Integer Name::DaySpan() { return N; }

VL_DATE_CAPTION(TvlFilterYesterdayOperator, vlSFilterOperatorYesterday)
VL_DATE_INTERVAL(TvlFilterYesterdayOperator, T - 1, T)
VL_DATE_CAPTION(TvlFilterTodayOperator, vlSFilterOperatorToday)
VL_DATE_INTERVAL(TvlFilterTodayOperator, T, T + 1)
VL_DATE_CAPTION(TvlFilterTomorrowOperator, vlSFilterOperatorTomorrow)
VL_DATE_INTERVAL(TvlFilterTomorrowOperator, T + 1, T + 2)
VL_DATE_CAPTION(TvlFilterLast7DaysOperator, vlSFilterOperatorLast7Days)
VL_DAY_SPAN(TvlFilterLast7DaysOperator, 7)
VL_DATE_CAPTION(TvlFilterLastWeekOperator, vlSFilterOperatorLastWeek)
VL_DATE_INTERVAL(TvlFilterLastWeekOperator, W - 7, W)
VL_DATE_CAPTION(TvlFilterLast14DaysOperator, vlSFilterOperatorLast14Days)
VL_DAY_SPAN(TvlFilterLast14DaysOperator, 14)
VL_DATE_CAPTION(TvlFilterLastTwoWeeksOperator, vlSFilterOperatorLastTwoWeeks)
VL_DATE_INTERVAL(TvlFilterLastTwoWeeksOperator, W - 14, W)
VL_DATE_CAPTION(TvlFilterLast30DaysOperator, vlSFilterOperatorLast30Days)
VL_DAY_SPAN(TvlFilterLast30DaysOperator, 30)
VL_DATE_CAPTION(TvlFilterLastMonthOperator, vlSFilterOperatorLastMonth)
VL_DATE_INTERVAL(TvlFilterLastMonthOperator, FirstOfMonth(T, -1), FirstOfMonth(T, 0))
VL_DATE_CAPTION(TvlFilterLastYearOperator, vlSFilterOperatorLastYear)
VL_DATE_INTERVAL(TvlFilterLastYearOperator, FirstOfYear(T, -1), FirstOfYear(T, 0))
VL_DATE_CAPTION(TvlFilterInPastOperator, vlSFilterOperatorPast)
VL_DATE_INTERVAL(TvlFilterInPastOperator, 0, T)
VL_DATE_CAPTION(TvlFilterThisWeekOperator, vlSFilterOperatorThisWeek)
VL_DATE_INTERVAL(TvlFilterThisWeekOperator, W, W + 7)
VL_DATE_CAPTION(TvlFilterThisMonthOperator, vlSFilterOperatorThisMonth)
VL_DATE_INTERVAL(TvlFilterThisMonthOperator, FirstOfMonth(T, 0), FirstOfMonth(T, 1))
VL_DATE_CAPTION(TvlFilterThisYearOperator, vlSFilterOperatorThisYear)
VL_DATE_INTERVAL(TvlFilterThisYearOperator, FirstOfYear(T, 0), FirstOfYear(T, 1))
VL_DATE_CAPTION(TvlFilterNext7DaysOperator, vlSFilterOperatorNext7Days)
VL_DAY_SPAN(TvlFilterNext7DaysOperator, 7)
VL_DATE_CAPTION(TvlFilterNextWeekOperator, vlSFilterOperatorNextWeek)
VL_DATE_INTERVAL(TvlFilterNextWeekOperator, W + 7, W + 14)
VL_DATE_CAPTION(TvlFilterNext14DaysOperator, vlSFilterOperatorNext14Days)
VL_DAY_SPAN(TvlFilterNext14DaysOperator, 14)
VL_DATE_CAPTION(TvlFilterNextTwoWeeksOperator, vlSFilterOperatorNextTwoWeeks)
VL_DATE_INTERVAL(TvlFilterNextTwoWeeksOperator, W + 7, W + 21)
VL_DATE_CAPTION(TvlFilterNext30DaysOperator, vlSFilterOperatorNext30Days)
VL_DAY_SPAN(TvlFilterNext30DaysOperator, 30)
VL_DATE_CAPTION(TvlFilterNextMonthOperator, vlSFilterOperatorNextMonth)
VL_DATE_INTERVAL(TvlFilterNextMonthOperator, FirstOfMonth(T, 1), FirstOfMonth(T, 2))
VL_DATE_CAPTION(TvlFilterNextYearOperator, vlSFilterOperatorNextYear)
VL_DATE_INTERVAL(TvlFilterNextYearOperator, FirstOfYear(T, 1), FirstOfYear(T, 2))
VL_DATE_CAPTION(TvlFilterInFutureOperator, vlSFilterOperatorFuture)
VL_DATE_INTERVAL(TvlFilterInFutureOperator, T + 1, 0)

#undef VL_DATE_CAPTION
#undef VL_DATE_INTERVAL
#undef VL_DAY_SPAN

// --- Nodes ----------------------------------------------------------------------------------

void TvlCustomFilterCriteriaItem::NotifyChanged() {
  if (TvlFilterCriteria* C = Criteria()) C->Changed();
}

TvlFilterCriteria* TvlCustomFilterCriteriaItem::GetCriteria() { return FParent ? FParent->Criteria() : nullptr; }
Boolean TvlCustomFilterCriteriaItem::IsGroup() { return false; }
void TvlCustomFilterCriteriaItem::LoadData(TStream* AStream) {}
void TvlCustomFilterCriteriaItem::SaveData(TStream* AStream) {}
Boolean TvlCustomFilterCriteriaItem::IsEmpty() { AbstractError(); }

void TvlCustomFilterCriteriaItem::BeforeDestruction() {
  inherited::BeforeDestruction();
  if (FParent) FParent->RemoveItem(this);
}

TvlFilterCriteria* TvlFilterCriteriaItemList::GetCriteria() {
  return FParent ? FParent->Criteria() : FCriteria;
}

Boolean TvlFilterCriteriaItemList::IsGroup() { return true; }
Boolean TvlFilterCriteriaItemList::IsEmpty() { return Count() == 0; }

void TvlFilterCriteriaItemList::RemoveItem(TvlCustomFilterCriteriaItem* AItem) {
  if (FItems->Remove(AItem) < 0) return;
  AItem->FParent = nullptr;
  NotifyChanged();
}

void TvlFilterCriteriaItemList::Create(TvlFilterCriteriaItemList* AOwner,
                                       TvlFilterBoolOperatorKind ABoolOperatorKind) {
  inherited::Create();
  FParent = AOwner;
  FBoolOperatorKind = ABoolOperatorKind;
  FItems = New<TList>();
}

void TvlFilterCriteriaItemList::Destroy() {
  if (FItems)
    while (FItems->Count() > 0) Free(static_cast<TObject*>(FItems->Items(FItems->Count() - 1)));
  FreeAndNil(FItems);
  inherited::Destroy();
}

void TvlFilterCriteriaItemList::Append(TvlCustomFilterCriteriaItem* AItem) {
  FItems->Add(AItem);
  NotifyChanged();
}

TvlFilterCriteriaItem* TvlFilterCriteriaItemList::AddItem(TObject* AItemLink, TvlFilterOperatorKind AOperatorKind,
                                                          const String& ADisplayValue, const Variant& AValue) {
  TvlFilterCriteriaItem* Item =
      CreateFrom(Criteria()->CriteriaItemClass(), &TvlFilterCriteriaItem::Create, this, AItemLink, AOperatorKind,
                 AValue, ADisplayValue);
  Append(Item);
  return Item;
}

TvlFilterCriteriaItemList* TvlFilterCriteriaItemList::AddItemList(TvlFilterBoolOperatorKind ABoolOperatorKind) {
  TvlFilterCriteriaItemList* List =
      CreateFrom(Criteria()->ItemListClass(), &TvlFilterCriteriaItemList::Create, this, ABoolOperatorKind);
  Append(List);
  return List;
}

void TvlFilterCriteriaItemList::Clear() {
  TvlFilterCriteria* C = Criteria();
  C->BeginUpdate();
  Finally End([&] { C->EndUpdate(); });
  while (Count() > 0) Free(Items(Count() - 1));
}

void TvlFilterCriteriaItemList::SetBoolOperatorKind(TvlFilterBoolOperatorKind Value) {
  if (FBoolOperatorKind == Value) return;
  FBoolOperatorKind = Value;
  NotifyChanged();
}

Integer TvlFilterCriteriaItemList::Count() const { return FItems->Count(); }

TvlCustomFilterCriteriaItem* TvlFilterCriteriaItemList::Items(Integer Index) const {
  if (Index < 0 || Index >= Count()) return nullptr;
  return static_cast<TvlCustomFilterCriteriaItem*>(FItems->Items(Index));
}

void TvlFilterCriteriaItemList::SaveData(TStream* AStream) {
  vlStreamWriteByte(AStream, FBoolOperatorKind);
  vlStreamWriteInteger(AStream, Count());
  for (Integer I = 0; I < Count(); ++I) {
    vlStreamWriteBoolean(AStream, Items(I)->IsGroup());
    Items(I)->SaveData(AStream);
  }
}

void TvlFilterCriteriaItemList::LoadData(TStream* AStream) {
  Byte Kind = vlStreamGetByte(AStream);
  if (Kind > fboNotOr) StreamReadError();
  SetBoolOperatorKind(static_cast<TvlFilterBoolOperatorKind>(Kind));
  Integer N = vlStreamGetInteger(AStream);
  Criteria()->ReadChildren(this, N, AStream);
}

// --- Leaves -----------------------------------------------------------------------------------

Boolean TvlFilterCriteriaItem::IsGroup() { return false; }
Boolean TvlFilterCriteriaItem::IsEmpty() { return GetItemLink() == nullptr; }

void TvlFilterCriteriaItem::Destroy() {
  FreeAndNil(FOperator);
  inherited::Destroy();
}

Variant TvlFilterCriteriaItem::GetRecordValue(Pointer AData) { AbstractError(); }

String TvlFilterCriteriaItem::GetDisplayValueText() {
  String Text = FDisplayValue;
  FOperator->AdjustDisplayValue(Text);
  return Text;
}

String TvlFilterCriteriaItem::GetValueText(Boolean ACaption) {
  return ACaption ? GetDisplayValueText() : FOperator->ValueToFilterText(FValue);
}

String TvlFilterCriteriaItem::GetFieldCaption() { AbstractError(); }
String TvlFilterCriteriaItem::GetFieldName() { AbstractError(); }

TvlFilterOperatorClass TvlFilterCriteriaItem::GetFilterOperatorClass() {
  if (ValueIsNull(FValue)) {
    if (FOperatorKind == foEqual || FOperatorKind == foLike) return ClassOf<TvlFilterNullOperator>();
    if (FOperatorKind == foNotEqual || FOperatorKind == foNotLike) return ClassOf<TvlFilterNotNullOperator>();
  }
  return KindClass(FOperatorKind);
}

TObject* TvlFilterCriteriaItem::GetItemLink() { return FItemLink; }
void TvlFilterCriteriaItem::SetItemLink(TObject* Value) { FItemLink = Value; }

void TvlFilterCriteriaItem::RebuildOperator() {
  Boolean Existed = FOperator != nullptr;
  FreeAndNil(FOperator);
  FOperator = CreateFrom(GetFilterOperatorClass(), &TvlFilterOperator::Create, this);
  if (Existed) NotifyChanged();
}

void TvlFilterCriteriaItem::Create(TvlFilterCriteriaItemList* AOwner, TObject* AItemLink,
                                   TvlFilterOperatorKind AOperatorKind, const Variant& AValue,
                                   const String& ADisplayValue) {
  inherited::Create();
  FParent = AOwner;
  SetItemLink(AItemLink);
  FOperatorKind = AOperatorKind;
  FValue = AValue;
  FDisplayValue = ADisplayValue;
  RebuildOperator();
  ApplyBlankRule();
}

Boolean TvlFilterCriteriaItem::ValueIsNull(const Variant& AValue) { return Criteria()->ValueIsNull(AValue); }

void TvlFilterCriteriaItem::ApplyBlankRule() {
  if (FDisplayValue.empty() && Is<TvlFilterNullOperator>(FOperator))
    FDisplayValue = vlGetFilterResString(vlSFilterBlankCaption);
}

void TvlFilterCriteriaItem::SetDisplayValue(const String& Value) {
  if (FDisplayValue == Value) return;
  FDisplayValue = Value;
  NotifyChanged();
}

void TvlFilterCriteriaItem::SetOperatorKind(TvlFilterOperatorKind Value) {
  if (FOperatorKind == Value) return;
  FOperatorKind = Value;
  RebuildOperator();
}

void TvlFilterCriteriaItem::SetValue(const Variant& Value) {
  if (vlCompareVariants(FValue, Value) == 0) return;
  FValue = Value;
  RebuildOperator();
}

void TvlFilterCriteriaItem::SaveData(TStream* AStream) {
  TvlFilterCriteria* C = Criteria();
  nbWriteUnicodeSignature(AStream);
  vlStreamWriteByte(AStream, FOperatorKind);
  vlStreamWriteWideString(AStream, FDisplayValue);
  vlStreamWriteInteger(AStream, C->ItemLinkToID(GetItemLink()));
  if (C->SavedVersion() > 2) vlStreamWriteWideString(AStream, C->ItemLinkToName(GetItemLink()));
  vlStreamWriteVariant(AStream, FValue);
}

void TvlFilterCriteriaItem::LoadData(TStream* AStream) {
  TvlFilterCriteria* C = Criteria();
  Boolean Unicode = nbReadStreamSignature(AStream);
  Byte Kind = vlStreamGetByte(AStream);
  if (Kind >= vlFilterOperatorKindCount) StreamReadError();
  SetOperatorKind(static_cast<TvlFilterOperatorKind>(Kind));
  SetDisplayValue(ReadCountedText(AStream, Unicode));
  Integer ID = vlStreamGetInteger(AStream);
  String Name = C->LoadedVersion() >= 3 ? ReadCountedText(AStream, Unicode) : String();
  SetValue(vlStreamGetVariant(AStream));
  TObject* Link = nullptr;
  if (!Name.empty()) {
    Link = C->NameToItemLink(Name);
    if (!Link) {
      // An item that has a name must match by name.
      Link = C->IDToItemLink(ID);
      if (Link && !C->ItemLinkToName(Link).empty()) Link = nullptr;
    }
  } else {
    Link = C->IDToItemLink(ID);
  }
  SetItemLink(Link);
  ApplyBlankRule();
}

// --- Value lists ------------------------------------------------------------------------------

Integer TvlFilterValueList::CompareItems(const TvlFilterValueItem& A, const TvlFilterValueItem& B) {
  if (FSortByDisplayText) {
    Integer R;
    if (FCriteria->Options().Contains(fcoCaseInsensitive))
      R = AnsiCompareStr(AnsiUpperCase(A.DisplayText), AnsiUpperCase(B.DisplayText));
    else
      R = AnsiCompareStr(A.DisplayText, B.DisplayText);
    if (R != 0) return R;
  }
  return vlCompareVariants(FCriteria->PrepareCompareValue(A.Value), FCriteria->PrepareCompareValue(B.Value));
}

Integer TvlFilterValueList::CompareItemWith(Integer AIndex, const Variant& AValue, const String& ADisplayText) {
  return CompareItems(FItems[AIndex], TvlFilterValueItem{fviValue, AValue, ADisplayText});
}

void TvlFilterValueList::Create(TvlFilterCriteria* ACriteria) {
  inherited::Create();
  FCriteria = ACriteria;
}

void TvlFilterValueList::Destroy() {
  Clear();
  inherited::Destroy();
}

Integer TvlFilterValueList::MaxCount() const { return FCriteria->MaxValueListCount(); }

void TvlFilterValueList::Add(TvlFilterValueItemKind AKind, const Variant& AValue, const String& ADisplayText,
                             Boolean AIsSorted) {
  TvlFilterValueItem Item{AKind, AValue, ADisplayText};
  if (AKind == fviMRU) {
    Integer Sep = FindItemByKind(fviMRUSeparator);
    if (Sep < 0) {
      FItems.insert(FItems.begin(), TvlFilterValueItem{fviMRUSeparator, Null(), String()});
      Sep = 0;
    }
    FItems.insert(FItems.begin() + Sep, std::move(Item));
  } else if (AKind == fviValue) {
    if (AIsSorted) {
      FItems.push_back(std::move(Item));
      return;
    }
    if (MaxCount() != 0 && Count() >= MaxCount()) return;
    Integer Index;
    if (!Find(AValue, ADisplayText, Index)) FItems.insert(FItems.begin() + Index, std::move(Item));
  } else {
    FItems.insert(FItems.begin() + GetStartValueIndex(), std::move(Item));
  }
}

void* vlAllocateScratch(size_t ABytes) {
  constexpr size_t kHugePage = size_t(2) << 20;
  void* P;
  if (ABytes >= kHugePage) {
    const size_t Bytes = (ABytes + kHugePage - 1) / kHugePage * kHugePage;
    P = std::aligned_alloc(kHugePage, Bytes);
    if (P) ::madvise(P, Bytes, MADV_HUGEPAGE);
  } else {
    P = std::malloc(ABytes ? ABytes : 1);
  }
  if (!P) throw std::bad_alloc();
  return P;
}

void vlFreeScratch(void* P) noexcept { std::free(P); }

UInt64 vlFloatOrderKey(Double V) {
  if (std::isnan(V)) return 0;
  if (V == 0) V = 0;
  UInt64 B;
  std::memcpy(&B, &V, sizeof B);
  return (B >> 63) ? ~B : B | (UInt64(1) << 63);
}

namespace {

// FirstOfEachKey of keys whose spread is below 16 a key: a bitmap of the
// keys present and the number of keys present before each of its words give
// every key its rank; one pass in arrival order then keeps the first
// arrival of each rank. No sort, and scratch of a few bits a key where the
// radix sort needs two 8-byte words (which a first load takes fresh from
// the system, page by page).
void DenseFirstOfEachKey(const TvlKeyArray& AKeys, UInt64 AMin, UInt64 ASpread, std::vector<Integer>& AKept,
                         TvlKeyArray& ABits, TvlKeyArray& ARanks) {
  const size_t N = AKeys.size();
  const size_t Words = static_cast<size_t>(ASpread / 64) + 1;
  ABits.resize(Words);
  ARanks.resize(Words);
  UInt64* Bits = ABits.data();
  std::fill(Bits, Bits + Words, UInt64(0));
  const UInt64* K = AKeys.data();
  for (size_t I = 0; I < N; ++I) {
    const UInt64 D = K[I] - AMin;
    Bits[D >> 6] |= UInt64(1) << (D & 63);
  }
  UInt64* Ranks = ARanks.data();
  UInt64 Distinct = 0;
  for (size_t W = 0; W < Words; ++W) {
    Ranks[W] = Distinct;
    Distinct += static_cast<UInt64>(std::popcount(Bits[W]));
  }
  AKept.assign(static_cast<size_t>(Distinct), -1);
  Integer* Kept = AKept.data();
  UInt64 Found = 0;
  for (size_t I = 0; I < N && Found < Distinct; ++I) {
    const UInt64 D = K[I] - AMin;
    const UInt64 Below = Bits[D >> 6] & ((UInt64(1) << (D & 63)) - 1);
    Integer& First = Kept[Ranks[D >> 6] + static_cast<UInt64>(std::popcount(Below))];
    if (First < 0) {
      First = static_cast<Integer>(I);
      ++Found;
    }
  }
}

// The index of the first arrival of each distinct key, in key order: a
// stable LSD radix sort of (key, index) words, 8 bits a pass (every
// digit's counts taken in one pass, digits equal everywhere skipped), and
// the first of each run. APacked and ATmp are scratch.
void FirstOfEachKey(const TvlKeyArray& AKeys, std::vector<Integer>& AKept, TvlKeyArray& APacked, TvlKeyArray& ATmp) {
  const size_t N = AKeys.size();
  AKept.clear();
  if (N == 0) return;
  const auto [MinIt, MaxIt] = std::minmax_element(AKeys.begin(), AKeys.end());
  const UInt64 Min = *MinIt, Spread = *MaxIt - Min;
  if (Spread / 16 < N) {
    DenseFirstOfEachKey(AKeys, Min, Spread, AKept, APacked, ATmp);
    return;
  }
  if (Spread > UINT32_MAX || N > UINT32_MAX) {
    std::vector<Integer> Order(N);
    std::iota(Order.begin(), Order.end(), 0);
    std::sort(Order.begin(), Order.end(),
              [&](Integer A, Integer B) { return AKeys[A] != AKeys[B] ? AKeys[A] < AKeys[B] : A < B; });
    for (size_t P = 0; P < N; ++P)
      if (P == 0 || AKeys[Order[P]] != AKeys[Order[P - 1]]) AKept.push_back(Order[P]);
    return;
  }
  APacked.resize(N);
  ATmp.resize(N);
  size_t Counts[4][256] = {};
  const UInt64* K = AKeys.data();
  UInt64* P = APacked.data();
  for (size_t I = 0; I < N; ++I) {
    const UInt64 D = K[I] - Min;
    ++Counts[0][D & 0xFF];
    ++Counts[1][(D >> 8) & 0xFF];
    ++Counts[2][(D >> 16) & 0xFF];
    ++Counts[3][(D >> 24) & 0xFF];
    P[I] = (D << 32) | I;
  }
  for (Integer Digit = 0; Digit < 4; ++Digit) {
    size_t* C = Counts[Digit];
    if (std::find(C, C + 256, N) != C + 256) continue;
    size_t Sum = 0;
    for (Integer X = 0; X < 256; ++X) {
      const size_t Here = C[X];
      C[X] = Sum;
      Sum += Here;
    }
    const Integer Shift = 32 + 8 * Digit;
    const UInt64* From = APacked.data();
    UInt64* To = ATmp.data();
    for (size_t I = 0; I < N; ++I) To[C[(From[I] >> Shift) & 0xFF]++] = From[I];
    APacked.swap(ATmp);
  }
  P = APacked.data();
  UInt64 Prev = ~UInt64(0);
  for (size_t I = 0; I < N; ++I) {
    const UInt64 Key = P[I] >> 32;
    if (Key != Prev) AKept.push_back(static_cast<Integer>(P[I] & UINT32_MAX));
    Prev = Key;
  }
}

// The order keys of values that are all of an integer kind, or all floats,
// dates or currencies (as the criteria's PrepareCompareValue gives them:
// currencies as doubles); False for any other mix. AValueAt(i) gives value i.
template <class F>
Boolean NumberOrderKeys(size_t N, F AValueAt, TvlKeyArray& AKeys) {
  AKeys.resize(N);
  Integer Kind = 0;  // 1 integers, 2 floats
  for (size_t I = 0; I < N; ++I) {
    const Variant& V = AValueAt(I);
    Integer K;
    switch (VarType(V)) {
      case varSmallint:
      case varInteger:
      case varShortInt:
      case varByte:
      case varWord:
      case varLongWord:
      case varInt64:
        K = 1;
        AKeys[I] = vlIntegerOrderKey(V.AsInt64());
        break;
      case varBoolean:
        K = 1;
        AKeys[I] = vlIntegerOrderKey(V.AsBoolean() ? -1 : 0);
        break;
      case varSingle:
      case varDouble:
      case varDate:
      case varCurrency:
        K = 2;
        AKeys[I] = vlFloatOrderKey(V.AsDouble());
        break;
      default:
        return false;
    }
    if (Kind != 0 && K != Kind) return false;
    Kind = K;
  }
  return true;
}

}  // namespace

void TvlFilterValueList::AddValues(std::vector<TvlFilterValueItem>& AItems) {
  if (!FSortByDisplayText &&
      NumberOrderKeys(AItems.size(), [&](size_t I) -> const Variant& { return AItems[I].Value; }, FScratch.Keys)) {
    // Each candidate's value and text are taken (moved) once, when added.
    AddNumberKeys(
        FScratch.Keys,
        [](void* AContext, Integer AIndex) {
          return std::move((*static_cast<std::vector<TvlFilterValueItem>*>(AContext))[AIndex].Value);
        },
        [](void* AContext, Integer AIndex) {
          return std::move((*static_cast<std::vector<TvlFilterValueItem>*>(AContext))[AIndex].DisplayText);
        },
        &AItems);
    return;
  }
  std::vector<Variant> Values(AItems.size());
  for (size_t I = 0; I < AItems.size(); ++I) Values[I] = std::move(AItems[I].Value);
  AddValues(
      Values,
      [](void* AContext, Integer AIndex) { return (*static_cast<std::vector<TvlFilterValueItem>*>(AContext))[AIndex].DisplayText; },
      &AItems);
}

void TvlFilterValueList::AddValues(std::vector<Variant>& AValues, TValueTextFunc ATextOf, void* AContext) {
  // Order the candidates (ties by arrival), keep the first of each run of
  // equal ones, then, under a limit, the earliest arrivals only: exactly what
  // sorted insertion one by one keeps.
  const Integer N = static_cast<Integer>(AValues.size());
  const Boolean ByText = FSortByDisplayText;
  struct TContext {
    std::vector<Variant>* Values;
    TValueTextFunc TextOf;
    void* Context;
    std::vector<String> Display;
  } X{&AValues, ATextOf, AContext, {}};
  auto ValueOf = [](void* C, Integer I) { return std::move((*static_cast<TContext*>(C)->Values)[I]); };
  auto TextOf = [](void* C, Integer I) {
    auto* T = static_cast<TContext*>(C);
    return T->Display.empty() ? T->TextOf(T->Context, I) : T->Display[I];
  };
  if (!ByText &&
      NumberOrderKeys(AValues.size(), [&](size_t I) -> const Variant& { return AValues[I]; }, FScratch.Keys)) {
    FirstOfEachKey(FScratch.Keys, FScratch.Kept, FScratch.Packed, FScratch.Tmp);
    AddFirstArrivals(FScratch.Kept, ValueOf, TextOf, &X);
    return;
  }
  if (ByText) {
    X.Display.resize(N);
    for (Integer I = 0; I < N; ++I) X.Display[I] = ATextOf(AContext, I);
  }
  const Boolean Upper = FCriteria->Options().Contains(fcoCaseInsensitive);
  std::vector<String> Texts;
  if (ByText) {
    Texts.resize(N);
    for (Integer I = 0; I < N; ++I) Texts[I] = Upper ? AnsiUpperCase(X.Display[I]) : X.Display[I];
  }
  std::vector<Variant> Prepared(N);
  for (Integer I = 0; I < N; ++I) Prepared[I] = FCriteria->PrepareCompareValue(AValues[I]);
  auto Compare = [&](Integer A, Integer B) {
    if (ByText) {
      Integer R = AnsiCompareStr(Texts[A], Texts[B]);
      if (R != 0) return R;
    }
    return vlCompareVariants(Prepared[A], Prepared[B]);
  };
  std::vector<Integer> Order(N);
  std::iota(Order.begin(), Order.end(), 0);
  std::stable_sort(Order.begin(), Order.end(), [&](Integer A, Integer B) { return Compare(A, B) < 0; });
  std::vector<Integer>& Kept = FScratch.Kept;
  Kept.clear();
  for (Integer I : Order)
    if (Kept.empty() || Compare(Kept.back(), I) != 0) Kept.push_back(I);
  AddFirstArrivals(Kept, ValueOf, TextOf, &X);
}

void TvlFilterValueList::AddNumberKeys(const TvlKeyArray& AKeys, TValueFunc AValueOf, TValueTextFunc ATextOf,
                                       void* AContext) {
  FirstOfEachKey(AKeys, FScratch.Kept, FScratch.Packed, FScratch.Tmp);
  AddFirstArrivals(FScratch.Kept, AValueOf, ATextOf, AContext);
}

void TvlFilterValueList::AddFirstArrivals(const std::vector<Integer>& AKept, TValueFunc AValueOf,
                                          TValueTextFunc ATextOf, void* AContext) {
  // Entries already in the list (MRU entries included) win over new equal
  // values; a list without any has nothing to look up.
  const Boolean Lookup = GetMRUSeparatorIndex() >= 0 || GetStartValueIndex() < Count();
  if (!Lookup && MaxCount() == 0) {
    FItems.reserve(FItems.size() + AKept.size());
    for (Integer I : AKept) FItems.push_back(TvlFilterValueItem{fviValue, AValueOf(AContext, I), ATextOf(AContext, I)});
    return;
  }
  std::vector<Integer>& Fresh = FScratch.Fresh;
  std::vector<Variant> Values;
  Values.reserve(AKept.size());
  Fresh.clear();
  for (Integer I : AKept) {
    Variant V = AValueOf(AContext, I);
    Integer Index;
    if (Lookup && Find(V, FSortByDisplayText ? ATextOf(AContext, I) : String(), Index)) continue;
    Fresh.push_back(I);
    Values.push_back(std::move(V));
  }
  if (MaxCount() != 0) {
    // Under a limit, the earliest arrivals only.
    const Integer Room = std::max(0, MaxCount() - Count());
    if (static_cast<Integer>(Fresh.size()) > Room) {
      std::vector<Integer> ByArrival = Fresh;
      std::nth_element(ByArrival.begin(), ByArrival.begin() + Room, ByArrival.end());
      const Integer Limit = Room > 0 ? *std::max_element(ByArrival.begin(), ByArrival.begin() + Room) : -1;
      size_t Out = 0;
      for (size_t K = 0; K < Fresh.size(); ++K)
        if (Fresh[K] <= Limit) {
          Fresh[Out] = Fresh[K];
          Values[Out++] = std::move(Values[K]);
        }
      Fresh.resize(Out);
      Values.resize(Out);
    }
  }
  if (GetStartValueIndex() == Count()) {
    FItems.reserve(FItems.size() + Fresh.size());
    for (size_t K = 0; K < Fresh.size(); ++K)
      FItems.push_back(TvlFilterValueItem{fviValue, std::move(Values[K]), ATextOf(AContext, Fresh[K])});
    return;
  }
  for (size_t K = 0; K < Fresh.size(); ++K) Add(fviValue, Values[K], ATextOf(AContext, Fresh[K]), false);
}

void TvlFilterValueList::Clear() { FItems.clear(); }

void TvlFilterValueList::Delete(Integer AIndex) { FItems.erase(FItems.begin() + AIndex); }

Boolean TvlFilterValueList::Find(const Variant& AValue, const String& ADisplayText, Integer& AIndex) {
  Integer Sep = GetMRUSeparatorIndex();
  for (Integer I = 0; I < Sep; ++I)
    if (CompareItemWith(I, AValue, ADisplayText) == 0) {
      AIndex = I;
      return true;
    }
  struct TContext {
    TvlFilterValueList* List;
    const Variant* Value;
    const String* DisplayText;
  } Context{this, &AValue, &ADisplayText};
  return vlFindSorted(
      GetStartValueIndex(), Count() - 1,
      [](void* C, Integer I) {
        auto* X = static_cast<TContext*>(C);
        return X->List->CompareItemWith(I, *X->Value, *X->DisplayText);
      },
      &Context, AIndex);
}

Integer TvlFilterValueList::GetIndexByCriteriaItem(TvlFilterCriteriaItem* ACriteriaItem) {
  if (!ACriteriaItem) return FindItemByKind(fviAll);
  if (ACriteriaItem->ValueIsNull(ACriteriaItem->Value())) {
    if (ACriteriaItem->OperatorKind() == foEqual) return FindItemByKind(fviBlanks);
    if (ACriteriaItem->OperatorKind() == foNotEqual) return FindItemByKind(fviNonBlanks);
  }
  Integer Index;
  if (ACriteriaItem->OperatorKind() == foEqual &&
      Find(ACriteriaItem->Value(), ACriteriaItem->DisplayValue(), Index))
    return Index;
  return FindItemByKind(fviCustom);
}

Integer TvlFilterValueList::FindItemByKind(TvlFilterValueItemKind AKind, const Variant& AValue) {
  for (Integer I = 0; I < Count(); ++I)
    if (FItems[I].Kind == AKind && (VarIsNull(AValue) || vlVariantsEqual(FItems[I].Value, AValue))) return I;
  return -1;
}

Integer TvlFilterValueList::FindItemByKind(TvlFilterValueItemKind AKind) { return FindItemByKind(AKind, Null()); }

Integer TvlFilterValueList::FindItemByValue(const Variant& AValue) {
  Integer Index;
  return Find(AValue, RecordValueText(AValue), Index) ? Index : -1;
}

Integer TvlFilterValueList::GetStartValueIndex() const {
  for (Integer I = 0; I < Count(); ++I)
    if (FItems[I].Kind == fviValue) return I;
  return Count();
}

Integer TvlFilterValueList::GetMRUSeparatorIndex() const {
  if (Count() == 0 || FItems[0].Kind != fviMRU) return -1;
  for (Integer I = 0; I < Count(); ++I) {
    if (FItems[I].Kind == fviMRUSeparator) return I;
    if (FItems[I].Kind != fviMRU) return -1;
  }
  return -1;
}

// --- Criteria -----------------------------------------------------------------------------------

void TvlFilterCriteria::Create() {
  inherited::Create();
  FRoot = CreateFrom(ItemListClass(), &TvlFilterCriteriaItemList::Create, nullptr, fboAnd);
  FRoot->FCriteria = this;
  FPercentWildcard = u'%';
  FUnderscoreWildcard = u'_';
  FSupportedLike = true;
  FVersion = 2;
  FGeneration = 1;
}

void TvlFilterCriteria::Destroy() {
  ++FLockCount;  // no change signals while the tree goes
  FreeAndNil(FRoot);
  inherited::Destroy();
}

void TvlFilterCriteria::CheckChanged() {
  if (!FChanged || FLockCount != 0) return;
  FChanged = false;
  PrepareOperators();
  FireChanged();
}

String TvlFilterCriteria::FormatBooleanValue(const Variant& Value) { return VarToStr(Value); }

String TvlFilterCriteria::FormatDateValue(const Variant& Value) {
  if (!FDateTimeFormat.empty()) return FormatDateTime(FDateTimeFormat, VarToDateTime(Value));
  return VarToStr(Value);
}

void TvlFilterCriteria::FormatFilterTextValue(TvlFilterCriteriaItem* AItem, const Variant& Value, String& Text) {}

String TvlFilterCriteria::GetFilterCaption() { return BuildFilterText(true); }

String TvlFilterCriteria::BuildGroupText(TvlFilterCriteriaItemList* AGroup, Boolean ACaption) {
  Boolean IsAnd = AGroup->BoolOperatorKind() == fboAnd || AGroup->BoolOperatorKind() == fboNotAnd;
  String Word = IsAnd ? (ACaption ? vlGetFilterResString(vlSFilterAndCaption) : String(u"AND"))
                      : (ACaption ? vlGetFilterResString(vlSFilterOrCaption) : String(u"OR"));
  String Text;
  for (Integer I = 0; I < AGroup->Count(); ++I) {
    TvlCustomFilterCriteriaItem* Child = AGroup->Items(I);
    if (I > 0) Text += u" " + Word + u" ";
    Text += u"(";
    Text += Child->IsGroup() ? BuildGroupText(static_cast<TvlFilterCriteriaItemList*>(Child), ACaption)
                             : BuildItemText(static_cast<TvlFilterCriteriaItem*>(Child), ACaption);
    Text += u")";
  }
  if (AGroup->BoolOperatorKind() == fboNotAnd || AGroup->BoolOperatorKind() == fboNotOr)
    Text = (ACaption ? vlGetFilterResString(vlSFilterNotCaption) : String(u"NOT")) + u" (" + Text + u")";
  return Text;
}

String TvlFilterCriteria::BuildFilterText(Boolean ACaption) { return BuildGroupText(FRoot, ACaption); }

String TvlFilterCriteria::GetFilterText() { return BuildFilterText(false); }

Integer TvlFilterCriteria::ItemLinkToID(TObject* AItemLink) { AbstractError(); }
String TvlFilterCriteria::ItemLinkToName(TObject* AItemLink) { AbstractError(); }

TvlFilterCriteriaItemClass TvlFilterCriteria::CriteriaItemClass() { return ClassOf<TvlFilterCriteriaItem>(); }

TvlFilterCriteriaItemListClass TvlFilterCriteria::ItemListClass() { return ClassOf<TvlFilterCriteriaItemList>(); }

String TvlFilterCriteria::BuildItemText(TvlFilterCriteriaItem* AItem, Boolean ACaption) {
  if (!ACaption && AItem->Operator()->IsExpression()) return AItem->Operator()->ExpressionText(AItem->Value());
  String Text = ItemFieldText(AItem, ACaption) + u" " + ItemOperatorText(AItem, ACaption);
  String Value = ItemValueText(AItem, ACaption);
  if (!Value.empty()) Text += u" " + Value;
  return Text;
}

String TvlFilterCriteria::ItemFieldText(TvlFilterCriteriaItem* AItem, Boolean ACaption) {
  return ACaption ? AItem->GetFieldCaption() : AItem->GetFieldName();
}

String TvlFilterCriteria::ItemOperatorText(TvlFilterCriteriaItem* AItem, Boolean ACaption) {
  TvlFilterOperator* Op = AItem->Operator();
  if (ACaption && (Op->IsDescription() || FOptions.Contains(fcoShowOperatorDescription))) return Op->DisplayText();
  return Op->FilterText();
}

String TvlFilterCriteria::ItemValueText(TvlFilterCriteriaItem* AItem, Boolean ACaption) {
  return AItem->GetValueText(ACaption);
}

TObject* TvlFilterCriteria::IDToItemLink(Integer AID) { AbstractError(); }
TObject* TvlFilterCriteria::NameToItemLink(const String& AName) { AbstractError(); }

TvlFilterValueListClass TvlFilterCriteria::ValueListClass() { return ClassOf<TvlFilterValueList>(); }

namespace {

void PrepareGroup(TvlFilterCriteriaItemList* AGroup) {
  for (Integer I = 0; I < AGroup->Count(); ++I) {
    TvlCustomFilterCriteriaItem* Child = AGroup->Items(I);
    if (Child->IsGroup())
      PrepareGroup(static_cast<TvlFilterCriteriaItemList*>(Child));
    else
      static_cast<TvlFilterCriteriaItem*>(Child)->Operator()->PrepareForFiltering();
  }
}

void RebuildGroup(TvlFilterCriteriaItemList* AGroup) {
  for (Integer I = 0; I < AGroup->Count(); ++I) {
    TvlCustomFilterCriteriaItem* Child = AGroup->Items(I);
    if (Child->IsGroup())
      RebuildGroup(static_cast<TvlFilterCriteriaItemList*>(Child));
    else
      static_cast<TvlFilterCriteriaItem*>(Child)->RebuildOperator();
  }
}

TvlFilterCriteriaItem* FindInGroup(TvlFilterCriteriaItemList* AGroup, TObject* AItemLink) {
  for (Integer I = 0; I < AGroup->Count(); ++I) {
    TvlCustomFilterCriteriaItem* Child = AGroup->Items(I);
    if (Child->IsGroup()) {
      if (TvlFilterCriteriaItem* Found = FindInGroup(static_cast<TvlFilterCriteriaItemList*>(Child), AItemLink))
        return Found;
    } else if (static_cast<TvlFilterCriteriaItem*>(Child)->StoredItemLink() == AItemLink) {
      return static_cast<TvlFilterCriteriaItem*>(Child);
    }
  }
  return nullptr;
}

}  // namespace

void TvlFilterCriteria::PrepareOperators() { PrepareGroup(FRoot); }

Variant TvlFilterCriteria::PrepareCompareValue(const Variant& Value) {
  if (VarIsArray(Value)) {
    Variant Result = Value;
    for (Integer I = ArrayLow(Value); I <= ArrayHigh(Value); ++I)
      Result.SetElement(I, PrepareCompareValue(Value.GetElement(I)));
    return Result;
  }
  if (VarType(Value) == varCurrency) return Variant(Value.AsDouble());
  if (VarIsStr(Value) && FOptions.Contains(fcoCaseInsensitive)) return Variant(AnsiUpperCase(Value.AsString()));
  return Value;
}

void TvlFilterCriteria::SetFilterText(const String& Value) {}

void TvlFilterCriteria::FireChanged() {
  if (Assigned(FOnChanged)) FOnChanged(this);
}

void TvlFilterCriteria::Assign(TPersistent* Source) { Assign(Source, false); }

void TvlFilterCriteria::Assign(TPersistent* Source, Boolean AIgnoreItemNames) {
  auto* From = Is<TvlFilterCriteria>(Source) ? static_cast<TvlFilterCriteria*>(Source) : nullptr;
  if (!From) {
    inherited::Assign(Source);
    return;
  }
  BeginUpdate();
  Finally End([&] { EndUpdate(); });
  SetDateTimeFormat(From->FDateTimeFormat);
  FMaxValueListCount = From->FMaxValueListCount;
  SetOptions(From->FOptions);
  SetPercentWildcard(From->FPercentWildcard);
  FTranslateBetween = From->FTranslateBetween;
  FTranslateLike = From->FTranslateLike;
  FTranslateIn = From->FTranslateIn;
  FSupportedLike = From->FSupportedLike;
  SetUnderscoreWildcard(From->FUnderscoreWildcard);
  AssignItems(From, AIgnoreItemNames);
  AssignEvents(From);
}

void TvlFilterCriteria::AssignEvents(TPersistent* Source) {
  if (auto* From = Is<TvlFilterCriteria>(Source) ? static_cast<TvlFilterCriteria*>(Source) : nullptr)
    FOnChanged = From->FOnChanged;
}

void TvlFilterCriteria::AssignItems(TvlFilterCriteria* Source, Boolean AIgnoreItemNames) {
  if (EqualItems(Source, AIgnoreItemNames)) return;
  BeginUpdate();
  Finally End([&] { EndUpdate(); });
  Clear();
  std::unique_ptr<TMemoryStream, TObjectFree> Stream(New<TMemoryStream>());
  Integer SourceVersion = Source->FVersion;
  if (AIgnoreItemNames) Source->FVersion = std::min(SourceVersion, 2);
  {
    Finally Restore([&] { Source->FVersion = SourceVersion; });
    Source->WriteData(Stream.get(), FVersion);
  }
  Stream->SetPosition(0);
  ReadData(Stream.get());
}

TvlFilterCriteriaItem* TvlFilterCriteria::AddItem(TvlFilterCriteriaItemList* AParent, TObject* AItemLink,
                                                  TvlFilterOperatorKind AOperatorKind, const Variant& AValue,
                                                  const String& ADisplayValue) {
  return (AParent ? AParent : FRoot)->AddItem(AItemLink, AOperatorKind, ADisplayValue, AValue);
}

void TvlFilterCriteria::Changed() {
  ++FGeneration;
  FChanged = true;
  CheckChanged();
}

TvlFilterCriteriaItem* TvlFilterCriteria::FindItemByItemLink(TObject* AItemLink) {
  return FindInGroup(FRoot, AItemLink);
}

Boolean TvlFilterCriteria::IsEmpty() { return FRoot->Count() == 0; }

void TvlFilterCriteria::LoadFromStream(TStream* AStream) {
  BeginUpdate();
  Finally End([&] { EndUpdate(); });
  std::unique_ptr<TFilterWrapper, TObjectFree> Wrapper(New<TFilterWrapper>(nullptr));
  Wrapper->SetFilter(this);
  ReadComponentFromStream(AStream, Wrapper.get());
}

void TvlFilterCriteria::RestoreDefaults() {
  BeginUpdate();
  Finally End([&] { EndUpdate(); });
  SetOptions(TvlFilterCriteriaOptions());
  SetPercentWildcard(u'%');
  FSupportedLike = true;
  FTranslateBetween = false;
  FTranslateIn = false;
  FTranslateLike = false;
  SetUnderscoreWildcard(u'_');
}

void TvlFilterCriteria::SaveToStream(TStream* AStream) {
  FSavingToStream = true;
  Finally Reset([&] { FSavingToStream = false; });
  std::unique_ptr<TFilterWrapper, TObjectFree> Wrapper(New<TFilterWrapper>(nullptr));
  Wrapper->SetFilter(this);
  WriteComponentToStream(AStream, Wrapper.get());
}

Boolean TvlFilterCriteria::ValueIsNull(const Variant& AValue) {
  return FOptions.Contains(fcoSoftNull) ? vlIsSoftNullVariant(AValue) : VarIsNull(AValue);
}

void TvlFilterCriteria::ReadData(TStream* AStream) {
  BeginUpdate();
  Finally End([&] { EndUpdate(); });
  Clear();
  Integer ID = vlStreamGetInteger(AStream);
  FReadDepth = 0;
  if (ID == -1 || ID == -2) {
    FLoadedVersion = ID == -1 ? 2 : 3;
    FRoot->LoadData(AStream);
  } else {
    FLoadedVersion = 1;
    ReadChildren(FRoot, ID, AStream);
  }
}

void TvlFilterCriteria::ReadChildren(TvlFilterCriteriaItemList* AGroup, Integer ACount, TStream* AStream) {
  // Every child takes at least its is-group byte and one more: a count the
  // stream cannot hold is damage, not a reason to loop.
  if (ACount < 0 || ACount > BytesLeft(AStream) / 2) StreamReadError();
  if (++FReadDepth > kMaxReadDepth) StreamReadError();
  Finally Up([&] { --FReadDepth; });
  for (Integer I = 0; I < ACount; ++I) {
    Boolean IsGroup = vlStreamGetBoolean(AStream);
    TvlCustomFilterCriteriaItem* Node =
        IsGroup ? static_cast<TvlCustomFilterCriteriaItem*>(AGroup->AddItemList(fboAnd))
                : AGroup->AddItem(nullptr, foEqual, String(), Null());
    // A node left empty (unresolved link, no children, or damaged) is dropped.
    Finally Drop([&] {
      if (Node->IsEmpty()) Free(Node);
    });
    Node->LoadData(AStream);
  }
}

void TvlFilterCriteria::WriteData(TStream* AStream, Integer AVersion) {
  FSavedVersion = AVersion != 0 && AVersion < FVersion ? AVersion : FVersion;
  vlStreamWriteInteger(AStream, FSavedVersion > 2 ? -2 : -1);
  FRoot->SaveData(AStream);
}

void TvlFilterCriteria::BeginUpdate() { ++FLockCount; }

void TvlFilterCriteria::EndUpdate() {
  if (FLockCount > 0) --FLockCount;
  CheckChanged();
}

void TvlFilterCriteria::CancelUpdate() {
  if (FLockCount > 0) --FLockCount;
}

void TvlFilterCriteria::Clear() {
  BeginUpdate();
  Finally End([&] { EndUpdate(); });
  while (FRoot->Count() > 0) Free(FRoot->Items(FRoot->Count() - 1));
  FRoot->SetBoolOperatorKind(fboAnd);
}

void TvlFilterCriteria::RemoveItemByItemLink(TObject* AItemLink) {
  BeginUpdate();
  Boolean Removed = false;
  Finally End([&] {
    if (Removed)
      EndUpdate();
    else
      CancelUpdate();
  });
  while (TvlFilterCriteriaItem* Item = FindItemByItemLink(AItemLink)) {
    TvlFilterCriteriaItemList* P = Item->Parent();
    Free(Item);
    Removed = true;
    if (P == FRoot) continue;
    if (P->Count() == 0) {
      while (P != FRoot && P->Count() == 0) {
        TvlFilterCriteriaItemList* Up = P->Parent();
        Free(P);
        P = Up;
      }
    } else if (P->Count() == 1) {
      TvlFilterCriteriaItemList* Outer = P->Parent();
      TvlCustomFilterCriteriaItem* Last = P->Items(0);
      P->RemoveItem(Last);
      Outer->RemoveItem(P);
      Last->FParent = Outer;
      Outer->Append(Last);
      Free(P);
    }
  }
}

void TvlFilterCriteria::Refresh() {
  BeginUpdate();
  Finally End([&] { EndUpdate(); });
  RebuildGroup(FRoot);
}

Boolean TvlFilterCriteria::EqualItems(TvlFilterCriteria* AOther, Boolean AIgnoreItemNames) {
  Integer Version = std::min(FVersion, AOther->FVersion);
  Version = std::min(Version, AIgnoreItemNames ? 2 : 3);
  std::unique_ptr<TMemoryStream, TObjectFree> Mine(New<TMemoryStream>());
  std::unique_ptr<TMemoryStream, TObjectFree> Theirs(New<TMemoryStream>());
  WriteData(Mine.get(), Version);
  AOther->WriteData(Theirs.get(), Version);
  return Mine->Size() == Theirs->Size() &&
         std::equal(static_cast<const Byte*>(Mine->Memory()), static_cast<const Byte*>(Mine->Memory()) + Mine->Size(),
                    static_cast<const Byte*>(Theirs->Memory()));
}

Boolean TvlFilterCriteria::MatchItem(TvlFilterCriteriaItem* AItem, Pointer AData) {
  try {
    Variant V = PrepareCompareValue(AItem->GetRecordValue(AData));
    TvlFilterOperator* Op = AItem->Operator();
    if (FOptions.Contains(fcoIgnoreNull) && !Op->IsNullOperator() && ValueIsNull(V)) return false;
    if (AItem->FPreparedGeneration != FGeneration) {
      AItem->FPreparedValue = PrepareCompareValue(AItem->Value());
      AItem->FPreparedGeneration = FGeneration;
    }
    return Op->CompareValues(V, AItem->FPreparedValue);
  } catch (const EVariantError&) {
    if (FOptions.Contains(fcoSoftCompare)) return false;
    throw;
  }
}

Boolean TvlFilterCriteria::MatchGroup(TvlFilterCriteriaItemList* AGroup, Pointer AData) {
  Boolean Result = true;
  TvlFilterBoolOperatorKind Kind = AGroup->BoolOperatorKind();
  for (Integer I = 0; I < AGroup->Count(); ++I) {
    TvlCustomFilterCriteriaItem* Child = AGroup->Items(I);
    Boolean C = Child->IsGroup() ? MatchGroup(static_cast<TvlFilterCriteriaItemList*>(Child), AData)
                                 : MatchItem(static_cast<TvlFilterCriteriaItem*>(Child), AData);
    if (I == 0) {
      Result = (Kind == fboAnd || Kind == fboOr) ? C : !C;
      continue;
    }
    switch (Kind) {
      case fboAnd: Result = Result && C; break;
      case fboOr: Result = Result || C; break;
      case fboNotAnd: Result = Result || !C; break;
      case fboNotOr: Result = Result && !C; break;
    }
  }
  return Result;
}

Boolean TvlFilterCriteria::MatchRecord(Pointer AData) { return MatchGroup(FRoot, AData); }

// MatchItem of a LIKE leaf and a text record value T: PrepareCompareValue
// leaves T as it is, or upper-cases it with fcoCaseInsensitive (one code
// unit for one, so it is empty exactly when T is), and the operator matches
// that against the leaf's prepared value as a text; Null and, with
// fcoSoftNull, an empty text fail under fcoIgnoreNull and match as an empty
// text otherwise. An equal leaf compares the two texts unit by unit (as
// vlVariantsEqual does two texts); Null equals no text.
Boolean TvlFilterCriteria::PreparePlainTextConditions(std::vector<TvlPlainTextCondition>& AConditions) {
  AConditions.clear();
  if (FRoot->Count() == 0) return false;
  if (FRoot->BoolOperatorKind() != fboAnd && !(FRoot->Count() == 1 && FRoot->BoolOperatorKind() == fboOr))
    return false;
  AConditions.resize(static_cast<size_t>(FRoot->Count()));
  for (Integer I = 0; I < FRoot->Count(); ++I) {
    TvlCustomFilterCriteriaItem* Child = FRoot->Items(I);
    if (Child->IsGroup()) return false;
    auto* Item = static_cast<TvlFilterCriteriaItem*>(Child);
    TvlFilterOperator* Op = Item->Operator();
    const TClass Class = Op ? Op->ClassType() : nullptr;
    const Boolean Like = Class == ClassOf<TvlFilterLikeOperator>().Class();
    const Boolean NotLike = Class == ClassOf<TvlFilterNotLikeOperator>().Class();
    const Boolean Equal = Class == ClassOf<TvlFilterEqualOperator>().Class();
    const Boolean NotEqual = Class == ClassOf<TvlFilterNotEqualOperator>().Class();
    if ((!Like && !NotLike && !Equal && !NotEqual) || !VarIsStr(Item->Value())) return false;
    if (Item->FPreparedGeneration != FGeneration) {
      Item->FPreparedValue = PrepareCompareValue(Item->Value());
      Item->FPreparedGeneration = FGeneration;
    }
    if (!VarIsStr(Item->FPreparedValue)) return false;
    TvlPlainTextCondition& C = AConditions[static_cast<size_t>(I)];
    const String Pattern = RecordValueText(Item->FPreparedValue);
    C.Item = Item;
    C.Negated = NotLike || NotEqual;
    C.Exact = Equal || NotEqual;
    C.UpperCase = FOptions.Contains(fcoCaseInsensitive);
    Boolean NullMatches, EmptyMatches;
    if (C.Exact) {
      C.Text = Item->FPreparedValue.AsString();
      NullMatches = C.Negated;
      EmptyMatches = C.Text.empty() != C.Negated;
    } else {
      C.Pattern.Assign(Pattern.data(), static_cast<Integer>(Pattern.size()), FPercentWildcard, FUnderscoreWildcard,
                       0);
      EmptyMatches = C.Pattern.Matches(u"", 0) != C.Negated;
      NullMatches = EmptyMatches;
      // Below U+0800 a unit's upper case does not depend on its neighbours.
      Char First;
      const Boolean Literal = C.Pattern.FirstLiteral(First);
      if (C.UpperCase)
        for (Char U = 0; U < 0x800; ++U) C.FirstPasses[U] = !Literal || C.Upper.At(&U, 1, 0) == First;
    }
    const Boolean IgnoreNull = FOptions.Contains(fcoIgnoreNull);
    C.NullResult = !(IgnoreNull && ValueIsNull(Null())) && NullMatches;
    C.EmptyResult = !(IgnoreNull && ValueIsNull(Variant(String()))) && EmptyMatches;
  }
  return true;
}

Boolean TvlFilterCriteria::HasStoredItems() {
  return FSavingToStream || !(FRoot->Count() == 0 && FRoot->BoolOperatorKind() == fboAnd);
}

void TvlFilterCriteria::SetOptions(TvlFilterCriteriaOptions Value) {
  if (FOptions == Value) return;
  FOptions = Value;
  Changed();
}

void TvlFilterCriteria::SetPercentWildcard(Char Value) {
  if (FPercentWildcard == Value) return;
  FPercentWildcard = Value;
  Changed();
}

void TvlFilterCriteria::SetUnderscoreWildcard(Char Value) {
  if (FUnderscoreWildcard == Value) return;
  FUnderscoreWildcard = Value;
  Changed();
}

void TvlFilterCriteria::SetDateTimeFormat(const String& Value) {
  if (FDateTimeFormat == Value) return;
  FDateTimeFormat = Value;
  Changed();
}
