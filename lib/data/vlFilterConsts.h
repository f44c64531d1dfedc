// The user-visible texts of the filter model, registered with the
// resource-string repository as the product "NimboDataFilter", and the
// filter's way of reading them.
#pragma once

#include "platform/rtl/ResStrings.h"

extern const TResStringRec vlSFilterOperatorEqual;             // "equals"
extern const TResStringRec vlSFilterOperatorNotEqual;          // "does not equal"
extern const TResStringRec vlSFilterOperatorLess;              // "is less than"
extern const TResStringRec vlSFilterOperatorLessEqual;         // "is less than or equal to"
extern const TResStringRec vlSFilterOperatorGreater;           // "is greater than"
extern const TResStringRec vlSFilterOperatorGreaterEqual;      // "is greater than or equal to"
extern const TResStringRec vlSFilterOperatorLike;              // "like"
extern const TResStringRec vlSFilterOperatorNotLike;           // "not like"
extern const TResStringRec vlSFilterOperatorBetween;           // "between"
extern const TResStringRec vlSFilterOperatorNotBetween;        // "not between"
extern const TResStringRec vlSFilterOperatorInList;            // "in"
extern const TResStringRec vlSFilterOperatorNotInList;         // "not in"
extern const TResStringRec vlSFilterOperatorYesterday;         // "is yesterday"
extern const TResStringRec vlSFilterOperatorToday;             // "is today"
extern const TResStringRec vlSFilterOperatorTomorrow;          // "is tomorrow"
extern const TResStringRec vlSFilterOperatorLast7Days;         // "is last 7 days"
extern const TResStringRec vlSFilterOperatorLastWeek;          // "is last week"
extern const TResStringRec vlSFilterOperatorLast14Days;        // "is last 14 days"
extern const TResStringRec vlSFilterOperatorLastTwoWeeks;      // "is last two weeks"
extern const TResStringRec vlSFilterOperatorLast30Days;        // "is last 30 days"
extern const TResStringRec vlSFilterOperatorLastMonth;         // "is last month"
extern const TResStringRec vlSFilterOperatorLastYear;          // "is last year"
extern const TResStringRec vlSFilterOperatorPast;              // "is past"
extern const TResStringRec vlSFilterOperatorThisWeek;          // "is this week"
extern const TResStringRec vlSFilterOperatorThisMonth;         // "is this month"
extern const TResStringRec vlSFilterOperatorThisYear;          // "is this year"
extern const TResStringRec vlSFilterOperatorNext7Days;         // "is next 7 days"
extern const TResStringRec vlSFilterOperatorNextWeek;          // "is next week"
extern const TResStringRec vlSFilterOperatorNext14Days;        // "is next 14 days"
extern const TResStringRec vlSFilterOperatorNextTwoWeeks;      // "is next two weeks"
extern const TResStringRec vlSFilterOperatorNext30Days;        // "is next 30 days"
extern const TResStringRec vlSFilterOperatorNextMonth;         // "is next month"
extern const TResStringRec vlSFilterOperatorNextYear;          // "is next year"
extern const TResStringRec vlSFilterOperatorFuture;            // "is future"
extern const TResStringRec vlSFilterAndCaption;                // "and"
extern const TResStringRec vlSFilterOrCaption;                 // "or"
extern const TResStringRec vlSFilterNotCaption;                // "not"
extern const TResStringRec vlSFilterBlankCaption;              // "blank"
extern const TResStringRec vlSFilterOperatorIsNull;            // "is blank"
extern const TResStringRec vlSFilterOperatorIsNotNull;         // "is not blank"
extern const TResStringRec vlSFilterOperatorBeginsWith;        // "begins with"
extern const TResStringRec vlSFilterOperatorDoesNotBeginWith;  // "does not begin with"
extern const TResStringRec vlSFilterOperatorEndsWith;          // "ends with"
extern const TResStringRec vlSFilterOperatorDoesNotEndWith;    // "does not end with"
extern const TResStringRec vlSFilterOperatorContains;          // "contains"
extern const TResStringRec vlSFilterOperatorDoesNotContain;    // "does not contain"
extern const TResStringRec vlSFilterBoxAllCaption;             // "(All)"
extern const TResStringRec vlSFilterBoxCustomCaption;          // "(Custom...)"
extern const TResStringRec vlSFilterBoxBlanksCaption;          // "(Blanks)"
extern const TResStringRec vlSFilterBoxNonBlanksCaption;       // "(NonBlanks)"

// A process-wide hook that, when set, supplies every filter text.
using TvlFilterResStringHook = String (*)(PResStringRec AResString);
extern TvlFilterResStringHook vlFilterResStringHook;

// The text of one of the filter's resource strings: from the hook when one
// is set, else loaded from the resources.
String vlGetFilterResString(PResStringRec AResString);
inline String vlGetFilterResString(const TResStringRec& AResString) {
  return vlGetFilterResString(&AResString);
}
