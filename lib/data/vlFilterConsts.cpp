#include "lib/data/vlFilterConsts.h"

#include "lib/foundation/nbCore.h"
#include "platform/classes/ModuleInit.h"

const TResStringRec vlSFilterOperatorEqual = ResStringOfText(u"equals");
const TResStringRec vlSFilterOperatorNotEqual = ResStringOfText(u"does not equal");
const TResStringRec vlSFilterOperatorLess = ResStringOfText(u"is less than");
const TResStringRec vlSFilterOperatorLessEqual = ResStringOfText(u"is less than or equal to");
const TResStringRec vlSFilterOperatorGreater = ResStringOfText(u"is greater than");
const TResStringRec vlSFilterOperatorGreaterEqual = ResStringOfText(u"is greater than or equal to");
const TResStringRec vlSFilterOperatorLike = ResStringOfText(u"like");
const TResStringRec vlSFilterOperatorNotLike = ResStringOfText(u"not like");
const TResStringRec vlSFilterOperatorBetween = ResStringOfText(u"between");
const TResStringRec vlSFilterOperatorNotBetween = ResStringOfText(u"not between");
const TResStringRec vlSFilterOperatorInList = ResStringOfText(u"in");
const TResStringRec vlSFilterOperatorNotInList = ResStringOfText(u"not in");
const TResStringRec vlSFilterOperatorYesterday = ResStringOfText(u"is yesterday");
const TResStringRec vlSFilterOperatorToday = ResStringOfText(u"is today");
const TResStringRec vlSFilterOperatorTomorrow = ResStringOfText(u"is tomorrow");
const TResStringRec vlSFilterOperatorLast7Days = ResStringOfText(u"is last 7 days");
const TResStringRec vlSFilterOperatorLastWeek = ResStringOfText(u"is last week");
const TResStringRec vlSFilterOperatorLast14Days = ResStringOfText(u"is last 14 days");
const TResStringRec vlSFilterOperatorLastTwoWeeks = ResStringOfText(u"is last two weeks");
const TResStringRec vlSFilterOperatorLast30Days = ResStringOfText(u"is last 30 days");
const TResStringRec vlSFilterOperatorLastMonth = ResStringOfText(u"is last month");
const TResStringRec vlSFilterOperatorLastYear = ResStringOfText(u"is last year");
const TResStringRec vlSFilterOperatorPast = ResStringOfText(u"is past");
const TResStringRec vlSFilterOperatorThisWeek = ResStringOfText(u"is this week");
const TResStringRec vlSFilterOperatorThisMonth = ResStringOfText(u"is this month");
const TResStringRec vlSFilterOperatorThisYear = ResStringOfText(u"is this year");
const TResStringRec vlSFilterOperatorNext7Days = ResStringOfText(u"is next 7 days");
const TResStringRec vlSFilterOperatorNextWeek = ResStringOfText(u"is next week");
const TResStringRec vlSFilterOperatorNext14Days = ResStringOfText(u"is next 14 days");
const TResStringRec vlSFilterOperatorNextTwoWeeks = ResStringOfText(u"is next two weeks");
const TResStringRec vlSFilterOperatorNext30Days = ResStringOfText(u"is next 30 days");
const TResStringRec vlSFilterOperatorNextMonth = ResStringOfText(u"is next month");
const TResStringRec vlSFilterOperatorNextYear = ResStringOfText(u"is next year");
const TResStringRec vlSFilterOperatorFuture = ResStringOfText(u"is future");
const TResStringRec vlSFilterAndCaption = ResStringOfText(u"and");
const TResStringRec vlSFilterOrCaption = ResStringOfText(u"or");
const TResStringRec vlSFilterNotCaption = ResStringOfText(u"not");
const TResStringRec vlSFilterBlankCaption = ResStringOfText(u"blank");
const TResStringRec vlSFilterOperatorIsNull = ResStringOfText(u"is blank");
const TResStringRec vlSFilterOperatorIsNotNull = ResStringOfText(u"is not blank");
const TResStringRec vlSFilterOperatorBeginsWith = ResStringOfText(u"begins with");
const TResStringRec vlSFilterOperatorDoesNotBeginWith = ResStringOfText(u"does not begin with");
const TResStringRec vlSFilterOperatorEndsWith = ResStringOfText(u"ends with");
const TResStringRec vlSFilterOperatorDoesNotEndWith = ResStringOfText(u"does not end with");
const TResStringRec vlSFilterOperatorContains = ResStringOfText(u"contains");
const TResStringRec vlSFilterOperatorDoesNotContain = ResStringOfText(u"does not contain");
const TResStringRec vlSFilterBoxAllCaption = ResStringOfText(u"(All)");
const TResStringRec vlSFilterBoxCustomCaption = ResStringOfText(u"(Custom...)");
const TResStringRec vlSFilterBoxBlanksCaption = ResStringOfText(u"(Blanks)");
const TResStringRec vlSFilterBoxNonBlanksCaption = ResStringOfText(u"(NonBlanks)");

TvlFilterResStringHook vlFilterResStringHook = nullptr;

namespace {

const char16_t kProductName[] = u"NimboDataFilter";
Integer gStartCount = 0;

void AddResourceStrings(TnbProductResourceStrings* AProduct) {
  AProduct->Add(u"vlSFilterOperatorEqual", &vlSFilterOperatorEqual);
  AProduct->Add(u"vlSFilterOperatorNotEqual", &vlSFilterOperatorNotEqual);
  AProduct->Add(u"vlSFilterOperatorLess", &vlSFilterOperatorLess);
  AProduct->Add(u"vlSFilterOperatorLessEqual", &vlSFilterOperatorLessEqual);
  AProduct->Add(u"vlSFilterOperatorGreater", &vlSFilterOperatorGreater);
  AProduct->Add(u"vlSFilterOperatorGreaterEqual", &vlSFilterOperatorGreaterEqual);
  AProduct->Add(u"vlSFilterOperatorLike", &vlSFilterOperatorLike);
  AProduct->Add(u"vlSFilterOperatorNotLike", &vlSFilterOperatorNotLike);
  AProduct->Add(u"vlSFilterOperatorBetween", &vlSFilterOperatorBetween);
  AProduct->Add(u"vlSFilterOperatorNotBetween", &vlSFilterOperatorNotBetween);
  AProduct->Add(u"vlSFilterOperatorInList", &vlSFilterOperatorInList);
  AProduct->Add(u"vlSFilterOperatorNotInList", &vlSFilterOperatorNotInList);
  AProduct->Add(u"vlSFilterOperatorYesterday", &vlSFilterOperatorYesterday);
  AProduct->Add(u"vlSFilterOperatorToday", &vlSFilterOperatorToday);
  AProduct->Add(u"vlSFilterOperatorTomorrow", &vlSFilterOperatorTomorrow);
  AProduct->Add(u"vlSFilterOperatorLast7Days", &vlSFilterOperatorLast7Days);
  AProduct->Add(u"vlSFilterOperatorLastWeek", &vlSFilterOperatorLastWeek);
  AProduct->Add(u"vlSFilterOperatorLast14Days", &vlSFilterOperatorLast14Days);
  AProduct->Add(u"vlSFilterOperatorLastTwoWeeks", &vlSFilterOperatorLastTwoWeeks);
  AProduct->Add(u"vlSFilterOperatorLast30Days", &vlSFilterOperatorLast30Days);
  AProduct->Add(u"vlSFilterOperatorLastMonth", &vlSFilterOperatorLastMonth);
  AProduct->Add(u"vlSFilterOperatorLastYear", &vlSFilterOperatorLastYear);
  AProduct->Add(u"vlSFilterOperatorPast", &vlSFilterOperatorPast);
  AProduct->Add(u"vlSFilterOperatorThisWeek", &vlSFilterOperatorThisWeek);
  AProduct->Add(u"vlSFilterOperatorThisMonth", &vlSFilterOperatorThisMonth);
  AProduct->Add(u"vlSFilterOperatorThisYear", &vlSFilterOperatorThisYear);
  AProduct->Add(u"vlSFilterOperatorNext7Days", &vlSFilterOperatorNext7Days);
  AProduct->Add(u"vlSFilterOperatorNextWeek", &vlSFilterOperatorNextWeek);
  AProduct->Add(u"vlSFilterOperatorNext14Days", &vlSFilterOperatorNext14Days);
  AProduct->Add(u"vlSFilterOperatorNextTwoWeeks", &vlSFilterOperatorNextTwoWeeks);
  AProduct->Add(u"vlSFilterOperatorNext30Days", &vlSFilterOperatorNext30Days);
  AProduct->Add(u"vlSFilterOperatorNextMonth", &vlSFilterOperatorNextMonth);
  AProduct->Add(u"vlSFilterOperatorNextYear", &vlSFilterOperatorNextYear);
  AProduct->Add(u"vlSFilterOperatorFuture", &vlSFilterOperatorFuture);
  AProduct->Add(u"vlSFilterAndCaption", &vlSFilterAndCaption);
  AProduct->Add(u"vlSFilterOrCaption", &vlSFilterOrCaption);
  AProduct->Add(u"vlSFilterNotCaption", &vlSFilterNotCaption);
  AProduct->Add(u"vlSFilterBlankCaption", &vlSFilterBlankCaption);
  AProduct->Add(u"vlSFilterOperatorIsNull", &vlSFilterOperatorIsNull);
  AProduct->Add(u"vlSFilterOperatorIsNotNull", &vlSFilterOperatorIsNotNull);
  AProduct->Add(u"vlSFilterOperatorBeginsWith", &vlSFilterOperatorBeginsWith);
  AProduct->Add(u"vlSFilterOperatorDoesNotBeginWith", &vlSFilterOperatorDoesNotBeginWith);
  AProduct->Add(u"vlSFilterOperatorEndsWith", &vlSFilterOperatorEndsWith);
  AProduct->Add(u"vlSFilterOperatorDoesNotEndWith", &vlSFilterOperatorDoesNotEndWith);
  AProduct->Add(u"vlSFilterOperatorContains", &vlSFilterOperatorContains);
  AProduct->Add(u"vlSFilterOperatorDoesNotContain", &vlSFilterOperatorDoesNotContain);
  AProduct->Add(u"vlSFilterBoxAllCaption", &vlSFilterBoxAllCaption);
  AProduct->Add(u"vlSFilterBoxCustomCaption", &vlSFilterBoxCustomCaption);
  AProduct->Add(u"vlSFilterBoxBlanksCaption", &vlSFilterBoxBlanksCaption);
  AProduct->Add(u"vlSFilterBoxNonBlanksCaption", &vlSFilterBoxNonBlanksCaption);
}

void Startup() {
  if (++gStartCount == 1) nbResourceStringsRepository()->RegisterProduct(kProductName, &AddResourceStrings);
}

void Shutdown() {
  if (gStartCount > 0 && --gStartCount == 0) nbResourceStringsRepository()->UnRegisterProduct(kProductName);
}

}  // namespace

CL_UNIT_STEPS(vlFilterConsts, &Startup, &Shutdown);

String vlGetFilterResString(PResStringRec AResString) {
  if (vlFilterResStringHook) return vlFilterResStringHook(AResString);
  return vlGetResourceStringText(AResString);
}
