#include <gtest/gtest.h>

#include <vector>

#include "lib/data/vlDataConsts.h"
#include "lib/data/vlFilterConsts.h"
#include "lib/foundation/nbCore.h"
#include "lib/foundation/vlVariants.h"

namespace {

std::vector<String> Identifiers(const char16_t* Product) {
  TnbResourceStringsRepository* R = nbResourceStringsRepository();
  Integer Index = R->GetProductIndexByName(Product);
  EXPECT_GE(Index, 0);
  std::vector<String> Result;
  if (Index < 0) return Result;
  TnbProductResourceStrings* P = R->Products(Index);
  for (Integer I = 0; I < P->ResStringsCount(); ++I) Result.push_back(P->Names(I));
  return Result;
}

TEST(vlDataConsts, FilterProductListsItsFiftyStrings) {
  std::vector<String> Names = Identifiers(u"NimboDataFilter");
  EXPECT_EQ(Names.size(), 50u);
  TnbResourceStringsRepository* R = nbResourceStringsRepository();
  struct {
    const char16_t* Name;
    const TResStringRec* Rec;
    const char16_t* Text;
  } Strings[] = {
      {u"vlSFilterOperatorEqual", &vlSFilterOperatorEqual, u"equals"},
      {u"vlSFilterOperatorNotEqual", &vlSFilterOperatorNotEqual, u"does not equal"},
      {u"vlSFilterOperatorLess", &vlSFilterOperatorLess, u"is less than"},
      {u"vlSFilterOperatorLessEqual", &vlSFilterOperatorLessEqual, u"is less than or equal to"},
      {u"vlSFilterOperatorGreater", &vlSFilterOperatorGreater, u"is greater than"},
      {u"vlSFilterOperatorGreaterEqual", &vlSFilterOperatorGreaterEqual, u"is greater than or equal to"},
      {u"vlSFilterOperatorLike", &vlSFilterOperatorLike, u"like"},
      {u"vlSFilterOperatorNotLike", &vlSFilterOperatorNotLike, u"not like"},
      {u"vlSFilterOperatorBetween", &vlSFilterOperatorBetween, u"between"},
      {u"vlSFilterOperatorNotBetween", &vlSFilterOperatorNotBetween, u"not between"},
      {u"vlSFilterOperatorInList", &vlSFilterOperatorInList, u"in"},
      {u"vlSFilterOperatorNotInList", &vlSFilterOperatorNotInList, u"not in"},
      {u"vlSFilterOperatorYesterday", &vlSFilterOperatorYesterday, u"is yesterday"},
      {u"vlSFilterOperatorToday", &vlSFilterOperatorToday, u"is today"},
      {u"vlSFilterOperatorTomorrow", &vlSFilterOperatorTomorrow, u"is tomorrow"},
      {u"vlSFilterOperatorLast7Days", &vlSFilterOperatorLast7Days, u"is last 7 days"},
      {u"vlSFilterOperatorLastWeek", &vlSFilterOperatorLastWeek, u"is last week"},
      {u"vlSFilterOperatorLast14Days", &vlSFilterOperatorLast14Days, u"is last 14 days"},
      {u"vlSFilterOperatorLastTwoWeeks", &vlSFilterOperatorLastTwoWeeks, u"is last two weeks"},
      {u"vlSFilterOperatorLast30Days", &vlSFilterOperatorLast30Days, u"is last 30 days"},
      {u"vlSFilterOperatorLastMonth", &vlSFilterOperatorLastMonth, u"is last month"},
      {u"vlSFilterOperatorLastYear", &vlSFilterOperatorLastYear, u"is last year"},
      {u"vlSFilterOperatorPast", &vlSFilterOperatorPast, u"is past"},
      {u"vlSFilterOperatorThisWeek", &vlSFilterOperatorThisWeek, u"is this week"},
      {u"vlSFilterOperatorThisMonth", &vlSFilterOperatorThisMonth, u"is this month"},
      {u"vlSFilterOperatorThisYear", &vlSFilterOperatorThisYear, u"is this year"},
      {u"vlSFilterOperatorNext7Days", &vlSFilterOperatorNext7Days, u"is next 7 days"},
      {u"vlSFilterOperatorNextWeek", &vlSFilterOperatorNextWeek, u"is next week"},
      {u"vlSFilterOperatorNext14Days", &vlSFilterOperatorNext14Days, u"is next 14 days"},
      {u"vlSFilterOperatorNextTwoWeeks", &vlSFilterOperatorNextTwoWeeks, u"is next two weeks"},
      {u"vlSFilterOperatorNext30Days", &vlSFilterOperatorNext30Days, u"is next 30 days"},
      {u"vlSFilterOperatorNextMonth", &vlSFilterOperatorNextMonth, u"is next month"},
      {u"vlSFilterOperatorNextYear", &vlSFilterOperatorNextYear, u"is next year"},
      {u"vlSFilterOperatorFuture", &vlSFilterOperatorFuture, u"is future"},
      {u"vlSFilterAndCaption", &vlSFilterAndCaption, u"and"},
      {u"vlSFilterOrCaption", &vlSFilterOrCaption, u"or"},
      {u"vlSFilterNotCaption", &vlSFilterNotCaption, u"not"},
      {u"vlSFilterBlankCaption", &vlSFilterBlankCaption, u"blank"},
      {u"vlSFilterOperatorIsNull", &vlSFilterOperatorIsNull, u"is blank"},
      {u"vlSFilterOperatorIsNotNull", &vlSFilterOperatorIsNotNull, u"is not blank"},
      {u"vlSFilterOperatorBeginsWith", &vlSFilterOperatorBeginsWith, u"begins with"},
      {u"vlSFilterOperatorDoesNotBeginWith", &vlSFilterOperatorDoesNotBeginWith, u"does not begin with"},
      {u"vlSFilterOperatorEndsWith", &vlSFilterOperatorEndsWith, u"ends with"},
      {u"vlSFilterOperatorDoesNotEndWith", &vlSFilterOperatorDoesNotEndWith, u"does not end with"},
      {u"vlSFilterOperatorContains", &vlSFilterOperatorContains, u"contains"},
      {u"vlSFilterOperatorDoesNotContain", &vlSFilterOperatorDoesNotContain, u"does not contain"},
      {u"vlSFilterBoxAllCaption", &vlSFilterBoxAllCaption, u"(All)"},
      {u"vlSFilterBoxCustomCaption", &vlSFilterBoxCustomCaption, u"(Custom...)"},
      {u"vlSFilterBoxBlanksCaption", &vlSFilterBoxBlanksCaption, u"(Blanks)"},
      {u"vlSFilterBoxNonBlanksCaption", &vlSFilterBoxNonBlanksCaption, u"(NonBlanks)"},
  };
  for (const auto& S : Strings) {
    EXPECT_EQ(R->GetOriginalValue(S.Name), S.Text);
    EXPECT_EQ(R->Products(R->GetProductIndexByName(u"NimboDataFilter"))->GetIndexByName(S.Name) >= 0, true);
    EXPECT_EQ(vlGetFilterResString(*S.Rec), S.Text);
  }
}

TEST(vlDataConsts, ControllerProductListsItsTwelveStrings) {
  const char16_t* Expected[][2] = {
      {u"vlSDataReadError", u"Stream read error"},
      {u"vlSDataWriteError", u"Stream write error"},
      {u"vlSDataItemExistError", u"Item already exists"},
      {u"vlSDataRecordIndexError", u"RecordIndex out of range"},
      {u"vlSDataItemIndexError", u"ItemIndex out of range"},
      {u"vlSDataProviderModeError", u"This operation is not supported in provider mode"},
      {u"vlSDataInvalidStreamFormat", u"Invalid stream format"},
      {u"vlSDataRowIndexError", u"RowIndex out of range"},
      {u"vlSDataCustomDataSourceInvalidCompare", u"GetInfoForCompare not implemented"},
      {u"vlSDBDetailFilterControllerNotFound", u"DetailFilterController not found"},
      {u"vlSDBNotInGridMode", u"DataController not in GridMode"},
      {u"vlSDBKeyFieldNotFound", u"Key Field not found"},
  };
  EXPECT_EQ(Identifiers(u"NimboDataController").size(), 12u);
  for (const auto& E : Expected) EXPECT_EQ(nbResourceStringsRepository()->GetOriginalValue(E[0]), E[1]);
  EXPECT_EQ(vlGetResourceStringText(vlSDBKeyFieldNotFound), u"Key Field not found");
}

String HookText(PResStringRec) { return u"hooked"; }

TEST(vlDataConsts, HookSuppliesFilterTextsOnly) {
  vlFilterResStringHook = &HookText;
  EXPECT_EQ(vlGetFilterResString(vlSFilterAndCaption), u"hooked");
  EXPECT_EQ(vlGetFilterResString(vlSFilterBoxAllCaption), u"hooked");
  EXPECT_EQ(vlGetResourceStringText(vlSDataItemExistError), u"Item already exists");
  vlFilterResStringHook = nullptr;
  EXPECT_EQ(vlGetFilterResString(vlSFilterAndCaption), u"and");
}

}  // namespace
