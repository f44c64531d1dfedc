#include <gtest/gtest.h>

#include <memory>

#include "lib/data/vlDB.h"
#include "lib/data/vlDBFilter.h"
#include "lib/data/vlDataUtils.h"
#include "platform/classes/Lists.h"
#include "platform/db/DB.h"
#include "platform/db/MemData.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/Locale.h"
#include "platform/rtl/Variants.h"

// A query data set and a data set class with an adapter of its own.
class TTestQuery : public TMemDataSet {
  CL_CLASS(TTestQuery, TMemDataSet)
};
class TTestAdapter : public TvlDBFilterOperatorAdapter {
  CL_CLASS(TTestAdapter, TvlDBFilterOperatorAdapter)
};
class TTestItem : public TCollectionItem {
  CL_CLASS(TTestItem, TCollectionItem)
 public:
  Integer Value{};
  void Assign(TPersistent* Source) override { Value = static_cast<TTestItem*>(Source)->Value; }
};
CL_IMPLEMENT_CLASS(TTestQuery)
CL_IMPLEMENT_CLASS(TTestAdapter)
CL_IMPLEMENT_CLASS(TTestItem)

namespace {

TEST(vlDataUtils, DatesAndWeeks) {
  EXPECT_EQ(vlDateOf(45000.75), 45000.0);
  EXPECT_DOUBLE_EQ(vlTimeOf(45000.75), 0.75);
  const TDateTime Sunday = EncodeDate(2026, 3, 15), Monday = EncodeDate(2026, 3, 9);
  vlFirstWeekDayOverride = 1;
  EXPECT_EQ(vlWeekStartDate(Sunday), Monday);
  EXPECT_EQ(vlWeekStartDate(Monday), Monday);
  vlFirstWeekDayOverride = 3;  // Wednesday: a Monday belongs to the week begun the Wednesday before
  EXPECT_EQ(vlWeekStartDate(Monday), EncodeDate(2026, 3, 4));
  vlFirstWeekDayOverride = 10;
}

TEST(vlDataUtils, MatchSearchText) {
  SetSystemLocale(TSystemLocale::Turkish);
  EXPECT_TRUE(vlMatchSearchText(u"Ankara", u"ank", true));
  EXPECT_FALSE(vlMatchSearchText(u"Ankara", u"ank", false));
  EXPECT_TRUE(vlMatchSearchText(u"", u"", false));
  EXPECT_FALSE(vlMatchSearchText(u"a", u"", true));
  EXPECT_TRUE(vlMatchSearchText(u"\u0130zmir", u"iz", true));  // Turkish dotted capital I
  SetSystemLocale(SystemLocaleFromSetting(nullptr));
}

TEST(vlDataUtils, CurrencyDisplayFormat) {
  TFormatSettings Saved = FormatSettings();
  struct {
    const char16_t* Symbol;
    Byte Format, Decimals;
    const char16_t* Expected;
  } Cases[] = {
      {u"TL", 3, 2, u",0.00 TL"}, {u"$", 0, 2, u"$,0.00"},  {u"kr.", 1, 0, u",0.kr'.'"},
      {u"\u20AC", 2, 1, u"\u20AC ,0.0"}, {u"TL", 7, 2, u",0.00"}, {u"", 0, 2, u",0.00"},
  };
  for (auto& C : Cases) {
    FormatSettings().CurrencyString = C.Symbol;
    FormatSettings().CurrencyFormat = C.Format;
    FormatSettings().CurrencyDecimals = C.Decimals;
    EXPECT_EQ(vlGetCurrencyDisplayFormat(), C.Expected);
  }
  FormatSettings() = Saved;
}

TEST(vlDataUtils, CollectionAssignKeepsItems) {
  std::unique_ptr<TvlCollection, TObjectFree> Big(New<TvlCollection>(ClassOf<TTestItem>()));
  std::unique_ptr<TvlCollection, TObjectFree> Small(New<TvlCollection>(ClassOf<TTestItem>()));
  for (Integer I = 0; I < 5; ++I) Big->Add();
  for (Integer I = 0; I < 3; ++I) static_cast<TTestItem*>(Small->Add())->Value = I + 10;
  TCollectionItem* First = Big->Items(0);
  Big->Assign(Small.get());
  ASSERT_EQ(Big->Count(), 3);
  EXPECT_EQ(Big->Items(0), First);
  EXPECT_EQ(static_cast<TTestItem*>(Big->Items(2))->Value, 12);
}

struct TDataSetFixture {
  std::unique_ptr<TComponent, TObjectFree> Owner{New<TComponent>(nullptr)};
  TMemDataSet* Data = nullptr;
  explicit TDataSetFixture(TMemDataSet* AData) : Data(AData) {
    Data->FieldDefs()->Add(u"ID", ftAutoInc);
    Data->FieldDefs()->Add(u"Name", ftString, 10);
    Data->FieldDefs()->Add(u"Amount", ftInteger);
    Data->FieldDefs()->Add(u"Key Field", ftWideString, 10);
    Data->Open();
  }
};

TEST(vlDB, FieldNamesAndKeyValues) {
  TDataSetFixture F(New<TMemDataSet>(nullptr));
  std::unique_ptr<TMemDataSet, TObjectFree> Own(F.Data);
  EXPECT_EQ(vlFieldNameCount(u" ID ; Name"), 2);
  EXPECT_EQ(vlFieldNameCount(u""), 0);
  EXPECT_TRUE(vlHasSeveralFieldNames(u"ID;Name"));
  EXPECT_FALSE(vlHasSeveralFieldNames(u"ID"));
  EXPECT_EQ(vlGetFilterFieldName(F.Data->FieldByName(u"Key Field"), true), u"[Key Field]");
  EXPECT_EQ(vlGetFilterFieldName(F.Data->FieldByName(u"Name"), false), u"Name");
  EXPECT_EQ(vlGetFilterFieldName(nullptr, false), u"");

  std::unique_ptr<TList, TObjectFree> List(New<TList>());
  EXPECT_TRUE(vlFindFields(F.Data, u"ID; Amount", List.get()));
  EXPECT_EQ(List->Count(), 2);
  EXPECT_FALSE(vlFindFields(F.Data, u"Nope;ID", List.get()));

  EXPECT_FALSE(vlKeyValuesUsable(F.Data, u"ID", Null()));  // auto-increment key
  EXPECT_TRUE(vlKeyValuesUsable(F.Data, u"Amount", Null()));
  EXPECT_FALSE(vlKeyValuesUsable(F.Data, u"ID;Amount", Variant(1)));
  EXPECT_TRUE(vlKeyValuesUsable(F.Data, u"Amount;Name", VarArrayOf({Variant(1), Null()})));
  EXPECT_FALSE(vlKeyValuesUsable(F.Data, u"Amount;ID", VarArrayOf({Variant(1), Null()})));
  EXPECT_FALSE(vlKeyValuesUsable(F.Data, u"Amount", VarArrayOf({Variant(1), Variant(2)})));

  EXPECT_TRUE(vlValueTypeClassByField(F.Data->FieldByName(u"ID")).Class() == TvlIntegerValueType::StaticClass());
  EXPECT_TRUE(vlValueTypeClassByField(F.Data->FieldByName(u"Key Field")).Class() == TvlWideStringValueType::StaticClass());
  EXPECT_TRUE(vlValueTypeClassByField(nullptr).Class() == TvlStringValueType::StaticClass());

  // Values of one and of several fields.
  F.Data->AppendRecord({Null(), Variant(String(u"a")), Variant(5), Variant(String(u"k"))});
  std::unique_ptr<TList, TObjectFree> Two(New<TList>());
  vlFindFields(F.Data, u"Amount;Name", Two.get());
  Variant V = vlGetFieldsValue(F.Data, Two.get());
  EXPECT_EQ(V.GetElement(0).AsInteger(), 5);
  EXPECT_EQ(V.GetElement(1).AsString(), u"a");
  EXPECT_EQ(VarType(vlGetFieldValue(F.Data->FieldByName(u"Key Field"))), varUString);
}

TEST(vlDB, AdaptersBySpecificClass) {
  ASSERT_NE(vlDBAdapterList, nullptr);
  std::unique_ptr<TMemDataSet, TObjectFree> Plain(New<TMemDataSet>(nullptr));
  std::unique_ptr<TTestQuery, TObjectFree> Query(New<TTestQuery>(nullptr));
  TvlDBFilterOperatorAdapter* Base = vlGetDBFilterOperatorAdapter(Plain.get());
  ASSERT_NE(Base, nullptr);
  EXPECT_EQ(vlGetDBFilterOperatorAdapter(nullptr), nullptr);

  vlDBAdapterList->RegisterAdapter(ClassOf<TTestQuery>(), ClassOf<TTestAdapter>());
  Integer Index = -1;
  EXPECT_TRUE(vlDBAdapterList->FindAdapter(ClassOf<TTestQuery>(), Index));
  EXPECT_TRUE(Is<TTestAdapter>(vlDBAdapterList->Items(Index)));
  EXPECT_EQ(vlGetDBFilterOperatorAdapter(Plain.get()), Base);
  // The general one registered later still goes before the specific one.
  vlDBAdapterList->RegisterAdapter(ClassOf<TDataSet>(), ClassOf<TvlDBFilterOperatorAdapter>());
  EXPECT_TRUE(Is<TTestAdapter>(vlDBAdapterList->Items(vlDBAdapterList->ItemCount() - 1)));
  vlDBAdapterList->UnregisterAdapter(ClassOf<TDataSet>(), ClassOf<TvlDBFilterOperatorAdapter>());
  EXPECT_EQ(vlGetDBFilterOperatorAdapter(Plain.get()), nullptr);

  // Query data sets write null tests as IS / IS NOT.
  TvlFilterOperatorClass C = ClassOf<TvlFilterNotNullOperator>();
  vlGetDBFilterOperatorAdapter(Query.get())->PrepareOperatorClass(nullptr, Query.get(), C);
  EXPECT_TRUE(C.Class() == TvlFilterSQLNotNullOperator::StaticClass());
  C = ClassOf<TvlFilterNullOperator>();
  vlGetDBFilterOperatorAdapter(Query.get())->PrepareOperatorClass(nullptr, Plain.get(), C);
  EXPECT_TRUE(C.Class() == TvlFilterNullOperator::StaticClass());
  vlDBAdapterList->UnregisterAdapter(ClassOf<TTestQuery>(), ClassOf<TTestAdapter>());
  vlDBAdapterList->RegisterAdapter(ClassOf<TDataSet>(), ClassOf<TvlDBFilterOperatorAdapter>());
}

}  // namespace
