#include <gtest/gtest.h>
#include <sys/prctl.h>

#include <algorithm>
#include <limits>
#include <memory>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "lib/data/vlDataUtils.h"
#include "lib/data/vlFilter.h"
#include "lib/foundation/vlVariants.h"
#include "platform/classes/Filer.h"
#include "platform/classes/Streams.h"
#include "platform/classes/TypInfoBuild.h"
#include "platform/rtl/Conversions.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Locale.h"
#include "platform/rtl/Variants.h"

// A field of the test records: its position in a record, an ID and a name.
class TTestField : public TObject {
  CL_CLASS(TTestField, TObject)
 public:
  Integer Index{};
  Integer ID{};
  String Name;
};

using TTestRecord = std::vector<Variant>;

class TTestFilterItem : public TvlFilterCriteriaItem {
  CL_CLASS(TTestFilterItem, TvlFilterCriteriaItem)
 public:
  Variant GetRecordValue(Pointer AData) override {
    auto* F = static_cast<TTestField*>(ItemLink());
    return (*static_cast<const TTestRecord*>(AData))[F->Index];
  }
  String GetFieldCaption() override { return u"Caption " + static_cast<TTestField*>(ItemLink())->Name; }
  String GetFieldName() override { return static_cast<TTestField*>(ItemLink())->Name; }
};

// Criteria over test records, with the fields it knows; publishes the tree
// as the binary property "Criteria", as the data controller's criteria does.
class TTestCriteria : public TvlFilterCriteria {
  CL_CLASS(TTestCriteria, TvlFilterCriteria)
 public:
  std::vector<TTestField*> Fields;
  Integer Changes{};

  void Destroy() override {
    for (TTestField* F : Fields) Free(F);
    inherited::Destroy();
  }
  TTestField* AddField(const String& AName, Integer AID) {
    TTestField* F = New<TTestField>();
    F->Index = static_cast<Integer>(Fields.size());
    F->Name = AName;
    F->ID = AID;
    Fields.push_back(F);
    return F;
  }
  TvlFilterCriteriaItemClass CriteriaItemClass() override { return ClassOf<TTestFilterItem>(); }
  Integer ItemLinkToID(TObject* AItemLink) override { return AItemLink ? static_cast<TTestField*>(AItemLink)->ID : -1; }
  String ItemLinkToName(TObject* AItemLink) override {
    return AItemLink ? static_cast<TTestField*>(AItemLink)->Name : String();
  }
  TObject* IDToItemLink(Integer AID) override {
    for (TTestField* F : Fields)
      if (F->ID == AID) return F;
    return nullptr;
  }
  TObject* NameToItemLink(const String& AName) override {
    for (TTestField* F : Fields)
      if (!F->Name.empty() && F->Name == AName) return F;
    return nullptr;
  }
  void FireChanged() override {
    ++Changes;
    inherited::FireChanged();
  }
  Boolean Match(const TTestRecord& R) { return MatchRecord(const_cast<TTestRecord*>(&R)); }

 protected:
  void DefineProperties(TFiler* Filer) override {
    inherited::DefineProperties(Filer);
    Filer->DefineBinaryProperty(u"Criteria", TStreamProc(this, &TTestCriteria::ReadCriteria),
                                TStreamProc(this, &TTestCriteria::WriteCriteria), HasStoredItems());
  }

 private:
  void ReadCriteria(TStream* S) { ReadData(S); }
  void WriteCriteria(TStream* S) { WriteData(S); }
};

// Exposes the batch insertion that a column's list uses.
class TTestValueList : public TvlFilterValueList {
  CL_CLASS(TTestValueList, TvlFilterValueList)
 public:
  using TvlFilterValueList::AddNumberKeys;
  using TvlFilterValueList::AddValues;
};

CL_IMPLEMENT_CLASS(TTestValueList)
CL_IMPLEMENT_CLASS(TTestField)
CL_IMPLEMENT_CLASS(TTestFilterItem)
CL_IMPLEMENT_CLASS(TTestCriteria)

namespace {

using TCriteriaPtr = std::unique_ptr<TTestCriteria, TObjectFree>;
using TStreamPtr = std::unique_ptr<TMemoryStream, TObjectFree>;
using TBytes = std::vector<Byte>;

struct TFixture {
  TCriteriaPtr C{New<TTestCriteria>()};
  TTestField* A = C->AddField(u"A", 1);
  TTestField* B = C->AddField(u"B", 2);
};

TBytes Bytes(TMemoryStream* S) {
  const Byte* P = static_cast<const Byte*>(S->Memory());
  return TBytes(P, P + S->Size());
}

TBytes Written(TvlFilterCriteria* C, Integer AVersion = 0) {
  TStreamPtr S(New<TMemoryStream>());
  C->WriteData(S.get(), AVersion);
  return Bytes(S.get());
}

void Read(TvlFilterCriteria* C, const TBytes& Data) {
  TStreamPtr S(New<TMemoryStream>());
  if (!Data.empty()) S->WriteBuffer(Data.data(), static_cast<Integer>(Data.size()));
  S->SetPosition(0);
  C->ReadData(S.get());
}

// A leaf record as written: signature, kind, display value, ID, [name], value bytes.
TBytes Leaf(Byte AKind, const char* ADisplay, Byte AID, const char* AName, TBytes AValue) {
  TBytes R = {0, 'N', 'B', 'U', 'F', 'M', 'T', AKind};
  auto Wide = [&](const char* S) {
    Byte N = static_cast<Byte>(std::char_traits<char>::length(S));
    R.insert(R.end(), {N, 0, 0, 0});
    for (Byte I = 0; I < N; ++I) R.insert(R.end(), {static_cast<Byte>(S[I]), 0});
  };
  Wide(ADisplay);
  R.insert(R.end(), {AID, 0, 0, 0});
  if (AName) Wide(AName);
  R.insert(R.end(), AValue.begin(), AValue.end());
  return R;
}

TBytes Concat(std::initializer_list<TBytes> Parts) {
  TBytes R;
  for (const TBytes& P : Parts) R.insert(R.end(), P.begin(), P.end());
  return R;
}

// --- Evaluation ---------------------------------------------------------------------------

TEST(vlFilterCriteria, EvaluationTable) {
  TFixture F;
  auto* C = F.C.get();
  EXPECT_TRUE(C->Match({Variant(1), Variant(2)}));  // empty: everything passes
  EXPECT_EQ(C->FilterText(), u"");
  EXPECT_EQ(C->FilterCaption(), u"");

  // NOT OR of A = 1 and B = 2: only when both fail.
  C->Root()->SetBoolOperatorKind(fboNotOr);
  C->AddItem(nullptr, F.A, foEqual, Variant(1), u"1");
  C->AddItem(nullptr, F.B, foEqual, Variant(2), u"2");
  struct {
    Integer A, B;
    Boolean Pass;
  } Rows[] = {{1, 2, false}, {1, 0, false}, {0, 2, false}, {0, 0, true}};
  for (auto& R : Rows) EXPECT_EQ(C->Match({Variant(R.A), Variant(R.B)}), R.Pass) << R.A << " " << R.B;
  EXPECT_EQ(C->FilterText(), u"NOT ((A = 1) OR (B = 2))");
  EXPECT_EQ(C->FilterCaption(), u"not ((Caption A = 1) or (Caption B = 2))");

  // NOT AND: passes when any fails.
  C->Root()->SetBoolOperatorKind(fboNotAnd);
  EXPECT_FALSE(C->Match({Variant(1), Variant(2)}));
  EXPECT_TRUE(C->Match({Variant(1), Variant(0)}));

  // A change of options or values applies to the next record.
  C->Clear();
  TvlFilterCriteriaItem* Item = C->AddItem(nullptr, F.A, foEqual, Variant(String(u"ABC")), u"");
  EXPECT_FALSE(C->Match({Variant(String(u"abc")), Null()}));
  C->SetOptions(TvlFilterCriteriaOptions{fcoCaseInsensitive});
  EXPECT_TRUE(C->Match({Variant(String(u"abc")), Null()}));
  Item->SetValue(Variant(String(u"x")));
  EXPECT_FALSE(C->Match({Variant(String(u"abc")), Null()}));
}

TEST(vlFilterCriteria, NullAndMixedKinds) {
  struct TCase {
    TvlFilterOperatorKind Kind;
    Variant Leaf;
    Variant Record;
    TvlFilterCriteriaOptions Options;
    Boolean Pass;
  } Cases[] = {
      {foLess, Variant(5), Null(), {}, true},  // Null sorts first
      {foLess, Variant(5), Null(), {fcoIgnoreNull}, false},
      {foEqual, Null(), Null(), {}, true},  // the null operator
      {foEqual, Null(), Variant(String()), {}, false},
      {foEqual, Variant(String()), Variant(String()), {fcoSoftNull}, true},
      {foEqual, Variant(String()), Null(), {fcoSoftNull}, true},
      {foNotEqual, Null(), Variant(3), {fcoIgnoreNull}, true},
      {foNotEqual, Null(), Null(), {fcoIgnoreNull}, false},
      // Mixed kinds order by the variant comparison: numbers before text.
      {foLess, Variant(String(u"abc")), Variant(5), {}, true},
      {foGreater, Variant(String(u"abc")), Variant(5), {}, false},
      {foGreater, Variant(5), Variant(String(u"abc")), {}, true},
      // Text is never converted: "10" is no number, so it does not equal 10
      // (numbers, then texts: one order for every mix of kinds).
      {foEqual, Variant(String(u"10")), Variant(10), {}, false},
      {foLess, Variant(String(u"10")), Variant(99), {}, true},
      {foBetween, VarArrayOf({Variant(10), Variant(20)}), Variant(String(u"x")), {}, false},
      {foInList, VarArrayOf({Variant(1), Variant(String(u"b"))}), Variant(String(u"b")), {}, true},
      {foInList, VarArrayOf({Variant(1), Variant(String(u"b"))}), Variant(String(u"B")), {}, false},
      {foInList, VarArrayOf({Variant(1), Variant(String(u"b"))}), Variant(String(u"B")), {fcoCaseInsensitive}, true},
      {foNotInList, VarArrayOf({Variant(1), Variant(2)}), Variant(3), {}, true},
      {foBetween, VarArrayOf({Variant(10), Variant(20)}), Variant(20), {}, true},
      {foBetween, VarArrayOf({Variant(10), Variant(20)}), Variant(20.5), {}, false},
      {foNotBetween, VarArrayOf({Variant(10), Variant(20)}), Variant(9), {}, true},
      {foLike, Variant(String(u"a%")), Variant(String(u"abc")), {}, true},
      {foLike, Variant(String(u"a%")), Variant(String(u"ABC")), {fcoCaseInsensitive}, true},
      {foNotLike, Variant(String(u"%b%")), Variant(String(u"abc")), {}, false},
      {foLike, Variant(String(u"%")), Null(), {}, true},  // Null matched as ""
      {foGreaterEqual, Variant(Currency(2)), Variant(2.0), {}, true},
  };
  for (const TCase& T : Cases) {
    TFixture F;
    F.C->SetOptions(T.Options);
    F.C->AddItem(nullptr, F.A, T.Kind, T.Leaf, u"");
    const String Record = VarToStr(T.Record);
    EXPECT_EQ(F.C->Match({T.Record, Null()}), T.Pass)
        << "kind " << T.Kind << " record " << std::string(Record.begin(), Record.end());
  }
}

TEST(vlFilterCriteria, SoftCompareTurnsConversionErrorsIntoFailure) {
  TFixture F;
  // A LIKE over an array value cannot make its text.
  F.C->AddItem(nullptr, F.A, foLike, Variant(String(u"a%")), u"");
  TTestRecord R = {VarArrayOf({Variant(1)}), Null()};
  EXPECT_THROW(F.C->Match(R), EVariantError);
  F.C->SetOptions(TvlFilterCriteriaOptions{fcoSoftCompare});
  EXPECT_FALSE(F.C->Match(R));
}

// --- Texts ----------------------------------------------------------------------------------

TEST(vlFilterCriteria, FilterTextsAndCaptions) {
  struct TCase {
    TvlFilterOperatorKind Kind;
    Variant Value;
    const char16_t* Display;
    Boolean Translate;
    Boolean Describe;
    const char16_t* Text;
    const char16_t* Caption;
  } Cases[] = {
      {foEqual, Null(), u"", false, false, u"A = NULL", u"Caption A = blank"},
      {foEqual, Null(), u"", false, true, u"A = NULL", u"Caption A is blank"},
      {foGreater, Variant(5), u"5", false, false, u"A > 5", u"Caption A > 5"},
      {foGreater, Variant(5), u"5", false, true, u"A > 5", u"Caption A is greater than 5"},
      {foEqual, Variant(String(u"it's")), u"it's", false, false, u"A = 'it''s'", u"Caption A = it's"},
      {foLike, Variant(String(u"abc%")), u"abc%", false, true, u"A LIKE 'abc%'", u"Caption A begins with abc"},
      {foLike, Variant(String(u"%abc")), u"%abc", false, true, u"A LIKE '%abc'", u"Caption A ends with abc"},
      {foNotLike, Variant(String(u"%b%")), u"%b%", false, true, u"A NOT LIKE '%b%'",
       u"Caption A does not contain b"},
      {foNotLike, Variant(String(u"%b%")), u"%b%", true, false, u" NOT (A LIKE '%b%')", u"Caption A NOT LIKE %b%"},
      {foBetween, VarArrayOf({Variant(10), Variant(20)}), u"10;20", false, false, u"A BETWEEN 10 AND 20",
       u"Caption A between 10 and 20"},
      {foBetween, VarArrayOf({Variant(10), Variant(20)}), u"10; 20", true, false, u"(A >= 10) AND (A <= 20)",
       u"Caption A between 10 and 20"},
      {foNotBetween, VarArrayOf({Variant(10), Variant(20)}), u"10", true, false,
       u"NOT ((A >= 10) AND (A <= 20))", u"Caption A not between 10 and "},
      {foInList, VarArrayOf({Variant(String(u"a")), Variant(String(u"b"))}), u"a;b", false, false,
       u"A IN ('a', 'b')", u"Caption A in (a, b)"},
      {foInList, VarArrayOf({Variant(String(u"a")), Variant(String(u"b"))}), u"a; b", true, false,
       u"(A = 'a') OR (A = 'b')", u"Caption A in (a, b)"},
      {foNotInList, VarArrayOf({Variant(1), Variant(2)}), u"", true, false, u"NOT ((A = 1) OR (A = 2))",
       u"Caption A not in ()"},
      {foNotEqual, VarArrayOf({Variant(1), Variant(String(u"x"))}), u"", false, false,
       u"NOT ((A = 1) AND (B = 'x'))", u"Caption A <>"},
      {foEqual, Variant(true), u"True", false, false, u"A = True", u"Caption A = True"},
  };
  // The same texts under both locales (no number or date in them).
  for (TSystemLocale L : {TSystemLocale::Turkish, TSystemLocale::EnglishUS}) {
    SetSystemLocale(L);
    for (const TCase& T : Cases) {
      TFixture F;
      if (VarIsArray(T.Value) && (T.Kind == foEqual || T.Kind == foNotEqual)) F.A->Name = u"A; B";
      F.C->SetTranslateBetween(T.Translate);
      F.C->SetTranslateIn(T.Translate);
      F.C->SetTranslateLike(T.Translate);
      if (T.Describe) F.C->SetOptions(TvlFilterCriteriaOptions{fcoShowOperatorDescription});
      F.C->AddItem(nullptr, F.A, T.Kind, T.Value, T.Display);
      String Text = F.C->FilterText();
      if (VarIsArray(T.Value) && (T.Kind == foEqual || T.Kind == foNotEqual)) {
        EXPECT_EQ(Text, String(u"(") + T.Text + u")");
        continue;
      }
      EXPECT_EQ(Text, String(u"(") + T.Text + u")");
      EXPECT_EQ(F.C->FilterCaption(), String(u"(") + T.Caption + u")");
    }
  }
  SetSystemLocale(SystemLocaleFromSetting(nullptr));
}

TEST(vlFilterCriteria, LiteralsFollowTheLocale) {
  for (TSystemLocale L : {TSystemLocale::Turkish, TSystemLocale::EnglishUS}) {
    SetSystemLocale(L);
    TFixture F;
    F.C->AddItem(nullptr, F.A, foGreater, Variant(1.5), u"1.5");
    F.C->AddItem(nullptr, F.B, foLess, VarFromDateTime(EncodeDate(2026, 3, 15)), u"");
    String Number = L == TSystemLocale::Turkish ? u"1,5" : u"1.5";
    String Day = L == TSystemLocale::Turkish ? u"15.03.2026" : u"3/15/2026";
    EXPECT_EQ(F.C->FilterText(), u"(A > " + Number + u") AND (B < '" + Day + u"')");
    F.C->SetDateTimeFormat(u"yyyy-mm-dd");
    EXPECT_EQ(F.C->FilterText(), u"(A > " + Number + u") AND (B < '2026-03-15')");
    // Upper-casing for case-insensitive comparison follows the locale too.
    F.C->Clear();
    F.C->SetOptions(TvlFilterCriteriaOptions{fcoCaseInsensitive});
    F.C->AddItem(nullptr, F.A, foEqual, Variant(String(u"istanbul")), u"");
    EXPECT_EQ(F.C->Match({Variant(String(u"\u0130STANBUL")), Null()}), L == TSystemLocale::Turkish);
  }
  SetSystemLocale(SystemLocaleFromSetting(nullptr));
}

// --- Date intervals -------------------------------------------------------------------------------

TEST(vlFilterOperators, DateIntervalsForAFixedDay) {
  // Sunday 15 March 2026; weeks start on Monday (override 1) or Sunday (0).
  const TDateTime T = EncodeDate(2026, 3, 15);
  auto D = [](Word Y, Word M, Word Day) { return EncodeDate(Y, M, Day); };
  struct TCase {
    TvlFilterOperatorKind Kind;
    Word FirstDay;
    TDateTime From, To;
    const char16_t* Caption;
  } Cases[] = {
      {foYesterday, 1, D(2026, 3, 14), T, u"is yesterday"},
      {foToday, 1, T, D(2026, 3, 16), u"is today"},
      {foTomorrow, 1, D(2026, 3, 16), D(2026, 3, 17), u"is tomorrow"},
      {foLast7Days, 1, D(2026, 3, 9), D(2026, 3, 16), u"is last 7 days"},
      {foLast30Days, 1, D(2026, 2, 14), D(2026, 3, 16), u"is last 30 days"},
      {foThisWeek, 1, D(2026, 3, 9), D(2026, 3, 16), u"is this week"},
      {foThisWeek, 0, T, D(2026, 3, 22), u"is this week"},
      {foLastWeek, 1, D(2026, 3, 2), D(2026, 3, 9), u"is last week"},
      {foLastTwoWeeks, 1, D(2026, 2, 23), D(2026, 3, 9), u"is last two weeks"},
      {foNextWeek, 0, D(2026, 3, 22), D(2026, 3, 29), u"is next week"},
      {foNextTwoWeeks, 1, D(2026, 3, 16), D(2026, 3, 30), u"is next two weeks"},
      {foLastMonth, 1, D(2026, 2, 1), D(2026, 3, 1), u"is last month"},
      {foThisMonth, 1, D(2026, 3, 1), D(2026, 4, 1), u"is this month"},
      {foNextMonth, 1, D(2026, 4, 1), D(2026, 5, 1), u"is next month"},
      {foLastYear, 1, D(2025, 1, 1), D(2026, 1, 1), u"is last year"},
      {foThisYear, 1, D(2026, 1, 1), D(2027, 1, 1), u"is this year"},
      {foNextYear, 1, D(2027, 1, 1), D(2028, 1, 1), u"is next year"},
      {foNext7Days, 1, T, D(2026, 3, 22), u"is next 7 days"},
      {foNext14Days, 1, T, D(2026, 3, 29), u"is next 14 days"},
      {foInPast, 1, 0, T, u"is past"},
      {foInFuture, 1, D(2026, 3, 16), 0, u"is future"},
  };
  for (const TCase& C : Cases) {
    vlFirstWeekDayOverride = C.FirstDay;
    TFixture F;
    TvlFilterCriteriaItem* Item = F.C->AddItem(nullptr, F.A, C.Kind, Null(), u"");
    auto* Op = As<TvlFilterDateOperator>(Item->Operator());
    Op->PrepareForDate(T + 0.75);  // the time of day does not matter
    EXPECT_EQ(Op->Date1(), C.From) << C.Kind;
    EXPECT_EQ(Op->Date2(), C.To) << C.Kind;
    EXPECT_EQ(Op->DisplayText(), C.Caption);
    // Membership: the lower bound in, the upper bound out, Null never.
    if (C.From != 0) {
      EXPECT_TRUE(F.C->Match({VarFromDateTime(C.From + 0.5), Null()})) << C.Kind;
    }
    if (C.To != 0) {
      EXPECT_FALSE(F.C->Match({VarFromDateTime(C.To), Null()})) << C.Kind;
    }
    EXPECT_FALSE(F.C->Match({Null(), Null()}));
  }
  vlFirstWeekDayOverride = 10;

  // Month ends and years: on 10 January "last month" is December of last year;
  // in December "next month" is January and in November it ends on 1 January.
  TFixture F;
  auto Interval = [&](TvlFilterOperatorKind K, TDateTime Day) {
    auto* Op = As<TvlFilterDateOperator>(F.C->AddItem(nullptr, F.A, K, Null(), u"")->Operator());
    Op->PrepareForDate(Day);
    return std::pair(Op->Date1(), Op->Date2());
  };
  EXPECT_EQ(Interval(foLastMonth, D(2026, 1, 10)), std::pair(D(2025, 12, 1), D(2026, 1, 1)));
  EXPECT_EQ(Interval(foNextMonth, D(2026, 12, 5)), std::pair(D(2027, 1, 1), D(2027, 2, 1)));
  EXPECT_EQ(Interval(foNextMonth, D(2026, 11, 5)), std::pair(D(2026, 12, 1), D(2027, 1, 1)));
  EXPECT_EQ(Interval(foThisMonth, D(2026, 12, 31)), std::pair(D(2026, 12, 1), D(2027, 1, 1)));

  // Without today in the day ranges.
  vlFilterDayRangesIncludeToday = false;
  EXPECT_EQ(Interval(foLast7Days, T), std::pair(D(2026, 3, 8), T));
  EXPECT_EQ(Interval(foNext7Days, T), std::pair(D(2026, 3, 16), D(2026, 3, 23)));
  vlFilterDayRangesIncludeToday = true;
}

TEST(vlFilterOperators, DateExpressionsAndLocaleWeekStart) {
  TFixture F;
  F.C->SetDateTimeFormat(u"yyyy-mm-dd");
  TvlFilterCriteriaItem* Item = F.C->AddItem(nullptr, F.A, foThisYear, Null(), u"x");
  {
    // A new operator has both bounds open until it is prepared.
    std::unique_ptr<TvlFilterOperator, TObjectFree> Fresh(
        CreateFrom(ClassOf<TvlFilterThisYearOperator>(), &TvlFilterOperator::Create, Item));
    EXPECT_EQ(Fresh->ExpressionText(Null()), u"");
  }
  auto* Op = As<TvlFilterDateOperator>(Item->Operator());
  Op->PrepareForDate(EncodeDate(2026, 6, 1));
  EXPECT_EQ(F.C->FilterText(), u"((A >= '2026-01-01') AND (A < '2027-01-01'))");
  EXPECT_EQ(F.C->FilterCaption(), u"(Caption A is this year)");
  auto* Past = As<TvlFilterDateOperator>(F.C->AddItem(nullptr, F.B, foInPast, Null(), u"")->Operator());
  Past->PrepareForDate(EncodeDate(2026, 6, 1));
  EXPECT_EQ(Past->ExpressionText(Null()), u"(B < '2026-06-01')");

  // The locale's first day: Monday in Turkish, Sunday in US English.
  const TDateTime Sunday = EncodeDate(2026, 3, 15);
  SetSystemLocale(TSystemLocale::Turkish);
  EXPECT_EQ(vlGetFirstWeekDay(), 1);
  EXPECT_EQ(vlWeekStartDate(Sunday), EncodeDate(2026, 3, 9));
  EXPECT_EQ(vlWeekStartDate(EncodeDate(2026, 3, 9) + 0.5), EncodeDate(2026, 3, 9));
  SetSystemLocale(TSystemLocale::EnglishUS);
  EXPECT_EQ(vlGetFirstWeekDay(), 0);
  EXPECT_EQ(vlWeekStartDate(Sunday), Sunday);
  SetSystemLocale(SystemLocaleFromSetting(nullptr));
}

// --- Update protocol and tree operations ------------------------------------------------------

TEST(vlFilterCriteria, NestedUpdatesSignalOnce) {
  TFixture F;
  F.C->BeginUpdate();
  F.C->BeginUpdate();
  F.C->AddItem(nullptr, F.A, foEqual, Variant(1), u"1");
  F.C->SetOptions(TvlFilterCriteriaOptions{fcoSoftNull});
  F.C->Root()->SetBoolOperatorKind(fboOr);
  F.C->EndUpdate();
  EXPECT_EQ(F.C->Changes, 0);
  F.C->EndUpdate();
  EXPECT_EQ(F.C->Changes, 1);
  F.C->EndUpdate();  // never below zero
  F.C->BeginUpdate();
  F.C->Root()->SetBoolOperatorKind(fboAnd);
  F.C->CancelUpdate();
  EXPECT_EQ(F.C->Changes, 1);
}

TEST(vlFilterCriteria, RemoveItemByItemLinkTidiesGroups) {
  TFixture F;
  TTestField* X = F.C->AddField(u"X", 3);
  auto* C = F.C.get();
  C->AddItem(nullptr, F.A, foEqual, Variant(1), u"");
  TvlFilterCriteriaItemList* Inner = C->Root()->AddItemList(fboOr);
  C->AddItem(Inner, F.B, foEqual, Variant(2), u"");
  C->AddItem(Inner, X, foEqual, Variant(3), u"");
  TvlFilterCriteriaItemList* Lone = C->Root()->AddItemList(fboAnd);
  TvlFilterCriteriaItemList* Deeper = Lone->AddItemList(fboAnd);
  C->AddItem(Deeper, F.A, foLess, Variant(9), u"");
  C->AddItem(nullptr, F.B, foGreater, Variant(0), u"");
  Integer Before = C->Changes;

  // Removing B: the inner group keeps only X, which moves to the end of the root.
  C->RemoveItemByItemLink(F.B);
  EXPECT_EQ(C->Changes, Before + 1);
  ASSERT_EQ(C->Root()->Count(), 3);
  EXPECT_EQ(static_cast<TvlFilterCriteriaItem*>(C->Root()->Items(2))->ItemLink(), X);
  // Removing A: the nested groups that became empty go too.
  C->RemoveItemByItemLink(F.A);
  ASSERT_EQ(C->Root()->Count(), 1);
  EXPECT_EQ(C->FilterText(), u"(X = 3)");
  C->RemoveItemByItemLink(F.A);  // nothing left to remove: no signal
  EXPECT_EQ(C->Changes, Before + 2);
}

TEST(vlFilterCriteria, ValueChangesRebuildTheOperator) {
  TFixture F;
  TvlFilterCriteriaItem* Item = F.C->AddItem(nullptr, F.A, foEqual, Variant(1), u"1");
  EXPECT_TRUE(Is<TvlFilterEqualOperator>(Item->Operator()) && !Item->Operator()->IsNullOperator());
  Item->SetValue(Null());
  EXPECT_TRUE(Is<TvlFilterNullOperator>(Item->Operator()));
  Item->SetOperatorKind(foNotLike);
  EXPECT_TRUE(Is<TvlFilterNotNullOperator>(Item->Operator()));
  EXPECT_EQ(F.C->FindItemByItemLink(F.A), Item);
  EXPECT_EQ(F.C->FindItemByItemLink(F.B), nullptr);
}

TEST(vlFilterCriteria, AssignCopiesSettingsAndTree) {
  TFixture F;
  F.C->SetOptions(TvlFilterCriteriaOptions{fcoCaseInsensitive});
  F.C->SetTranslateIn(true);
  F.C->SetMaxValueListCount(7);
  F.C->AddItem(nullptr, F.A, foInList, VarArrayOf({Variant(1), Variant(2)}), u"1;2");
  TFixture G;
  G.C->Assign(F.C.get());
  EXPECT_EQ(G.C->FilterText(), F.C->FilterText());
  EXPECT_EQ(G.C->MaxValueListCount(), 7);
  EXPECT_TRUE(G.C->EqualItems(F.C.get(), false));
  EXPECT_EQ(G.C->Changes, 1);
  G.C->Assign(F.C.get());  // equal trees: the tree is left alone
  EXPECT_EQ(static_cast<TvlFilterCriteriaItem*>(G.C->Root()->Items(0))->ItemLink(), G.A);
  std::unique_ptr<TTestField, TObjectFree> Other(New<TTestField>());
  EXPECT_THROW(G.C->Assign(nullptr), EConvertError);
}

// --- Streams ---------------------------------------------------------------------------------------

TEST(vlFilterStream, VersionsByteForByte) {
  TFixture F;
  EXPECT_EQ(Written(F.C.get()), (TBytes{0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00, 0x00}));

  F.C->AddItem(nullptr, F.B, foBetween, VarArrayOf({Variant(10), Variant(20)}), u"10;20");
  TBytes Value = {0x01, 0x02, 0x02, 0x02, 0x0A, 0x02, 0x14};
  TBytes V2 = Concat({{0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x01, 0, 0, 0}, Leaf(8, "10;20", 2, nullptr, Value)});
  EXPECT_EQ(Written(F.C.get()), V2);
  F.C->SetStoreItemLinkNames(true);
  TBytes V3 = Concat({{0xFE, 0xFF, 0xFF, 0xFF, 0x00, 0x01, 0, 0, 0}, Leaf(8, "10;20", 2, "B", Value)});
  EXPECT_EQ(Written(F.C.get()), V3);
  EXPECT_EQ(Written(F.C.get(), 2), V2);  // a lower version on request
  EXPECT_EQ(Written(F.C.get(), 4), V3);

  // Each reads back to the same tree; version 1 is a bare child count.
  for (const TBytes& Data : {V2, V3, Concat({{0x01, 0, 0, 0}, Leaf(8, "10;20", 2, nullptr, Value)})}) {
    TFixture G;
    Read(G.C.get(), Data);
    EXPECT_EQ(G.C->Changes, 1);
    EXPECT_EQ(G.C->FilterText(), u"(B BETWEEN 10 AND 20)");
  }
}

TEST(vlFilterStream, NestedGroupsAndDroppedLeaves) {
  TFixture F;
  F.C->Root()->SetBoolOperatorKind(fboOr);
  TvlFilterCriteriaItemList* G = F.C->Root()->AddItemList(fboNotAnd);
  F.C->AddItem(G, F.A, foEqual, Null(), u"");
  F.C->AddItem(G, F.B, foLike, Variant(String(u"x%")), u"x");
  TStreamPtr S(New<TMemoryStream>());
  F.C->WriteData(S.get());

  // The reader knows A only: B's leaf is dropped, the group keeps A.
  TCriteriaPtr R(New<TTestCriteria>());
  R->AddField(u"A", 1);
  S->SetPosition(0);
  R->ReadData(S.get());
  EXPECT_EQ(R->FilterText(), u"(NOT ((A = NULL)))");
  EXPECT_EQ(static_cast<TvlFilterCriteriaItem*>(static_cast<TvlFilterCriteriaItemList*>(R->Root()->Items(0))->Items(0))
                ->DisplayValue(),
            u"blank");
  // Knowing nothing, the group ends empty and goes as well.
  TCriteriaPtr None(New<TTestCriteria>());
  S->SetPosition(0);
  None->ReadData(S.get());
  EXPECT_TRUE(None->IsEmpty());
}

TEST(vlFilterStream, ItemLinksByNameThenID) {
  // A stored name that matches nothing falls back to the ID only for an item without a name.
  TBytes Value = {0x02, 0x05};
  TBytes Data = Concat({{0xFE, 0xFF, 0xFF, 0xFF, 0x00, 0x01, 0, 0, 0}, Leaf(4, "5", 7, "Gone", Value)});
  TCriteriaPtr Named(New<TTestCriteria>());
  Named->AddField(u"Other", 7);
  Read(Named.get(), Data);
  EXPECT_TRUE(Named->IsEmpty());
  TCriteriaPtr Unnamed(New<TTestCriteria>());
  TTestField* F = Unnamed->AddField(u"", 7);
  Read(Unnamed.get(), Data);
  ASSERT_EQ(Unnamed->Root()->Count(), 1);
  EXPECT_EQ(static_cast<TvlFilterCriteriaItem*>(Unnamed->Root()->Items(0))->ItemLink(), F);
}

TEST(vlFilterStream, ShortLeafIsReadAsAnsi) {
  // Six bytes after the is-group byte: no signature test; kind, an ANSI
  // display value of length 0 is too short to hold the rest -> read error.
  TFixture F;
  TBytes Short = {0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x01, 0, 0, 0, 0x00, 0x00, 0, 0, 0, 0, 0x01};
  EXPECT_THROW(Read(F.C.get(), Short), EReadError);
  // An ANSI leaf (no signature): kind, display "5", ID 1, value Null.
  TBytes Ansi = {0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x01, 0, 0, 0, 0x00, 0x04, 1, 0, 0, 0, '5', 1, 0, 0, 0, 0x02, 0x05};
  Read(F.C.get(), Ansi);
  EXPECT_EQ(F.C->FilterText(), u"(A > 5)");
}

// Mended: damaged data gives a clear error, never a runaway count.
TEST(vlFilterStream, DamagedStreamsRaiseReadErrors) {
  TBytes Deep = {0xFF, 0xFF, 0xFF, 0xFF};
  for (Integer I = 0; I < 100; ++I) Deep.insert(Deep.end(), {0x00, 0x01, 0, 0, 0, 0x01});
  Deep.insert(Deep.end(), {0x00, 0, 0, 0, 0});
  const TBytes Cases[] = {
      {},                                                   // no identifier
      {0x00, 0x00, 0x00, 0x10},                             // version 1, 2^28 children
      {0x40, 0x00, 0x00, 0x00, 0x00},                       // version 1, 64 children, one byte
      {0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0xFF, 0xFF, 0xFF, 0x7F},  // a huge count
      {0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0xFF, 0xFF, 0xFF, 0xFF},  // a negative count
      {0xFF, 0xFF, 0xFF, 0xFF, 0x07, 0x00, 0x00, 0x00, 0x00},  // no such bool operator
      Concat({{0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x01, 0, 0, 0}, Leaf(40, "", 1, nullptr, {0x00})}),  // no such kind
      Concat({{0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x01, 0, 0, 0}, Leaf(0, "", 1, nullptr, {0x63})}),  // no such tag
      Deep,
  };
  for (const TBytes& Data : Cases) {
    TFixture F;
    F.C->AddItem(nullptr, F.A, foEqual, Variant(1), u"");
    EXPECT_THROW(Read(F.C.get(), Data), EReadError) << Data.size();
    EXPECT_EQ(F.C->LockCount(), 0);  // the update still ended
  }
}

TEST(vlFilterStream, WrapperThroughAComponentStream) {
  TFixture F;
  F.C->SetOptions(TvlFilterCriteriaOptions{fcoCaseInsensitive, fcoIgnoreNull});
  F.C->SetPercentWildcard(u'*');
  F.C->SetMaxValueListCount(12);
  F.C->AddItem(nullptr, F.A, foLike, Variant(String(u"ab*")), u"ab*");
  TStreamPtr S(New<TMemoryStream>());
  F.C->SaveToStream(S.get());
  TBytes Data = Bytes(S.get());
  ASSERT_GE(Data.size(), 4u);
  EXPECT_EQ(std::string(Data.begin(), Data.begin() + 4), "TPF0");

  TFixture G;
  G.C->SetUnderscoreWildcard(u'?');  // not in the stream: kept
  Integer Before = G.C->Changes;
  S->SetPosition(0);
  G.C->LoadFromStream(S.get());
  EXPECT_EQ(G.C->Options(), (TvlFilterCriteriaOptions{fcoCaseInsensitive, fcoIgnoreNull}));
  EXPECT_EQ(G.C->PercentWildcard(), u'*');
  EXPECT_EQ(G.C->UnderscoreWildcard(), u'?');
  EXPECT_EQ(G.C->MaxValueListCount(), 12);
  EXPECT_EQ(G.C->FilterText(), u"(A LIKE 'ab*')");
  EXPECT_EQ(G.C->Changes, Before + 1);

  // An empty tree is still written while saving, so loading clears the target.
  TFixture Empty;
  TStreamPtr S2(New<TMemoryStream>());
  Empty.C->SaveToStream(S2.get());
  S2->SetPosition(0);
  G.C->LoadFromStream(S2.get());
  EXPECT_TRUE(G.C->IsEmpty());
}

// --- Value lists ----------------------------------------------------------------------------------

TEST(vlFilterValueList, OrderDuplicatesAndLimits) {
  TFixture F;
  std::unique_ptr<TvlFilterValueList, TObjectFree> L(New<TvlFilterValueList>(F.C.get()));
  L->Add(fviAll, Null(), u"(All)", false);
  L->Add(fviCustom, Null(), u"(Custom...)", false);
  for (Integer V : {3, 1, 3}) L->Add(fviValue, Variant(V), IntToStr(V), false);
  ASSERT_EQ(L->Count(), 4);
  EXPECT_EQ(L->Items(2).Value.AsInteger(), 1);
  EXPECT_EQ(L->Items(3).Value.AsInteger(), 3);
  L->Add(fviBlanks, Null(), u"(Blanks)", false);  // specials go before the values
  EXPECT_EQ(L->GetStartValueIndex(), 3);
  L->Add(fviMRU, Variant(9), u"9", false);
  EXPECT_EQ(L->Items(0).Kind, fviMRU);
  EXPECT_EQ(L->Items(1).Kind, fviMRUSeparator);
  EXPECT_EQ(L->GetMRUSeparatorIndex(), 1);
  EXPECT_EQ(L->FindItemByValue(Variant(9)), 0);
  EXPECT_EQ(L->FindItemByValue(Variant(3)), 6);
  EXPECT_EQ(L->FindItemByValue(Variant(2)), -1);

  // A limit of 3 with two specials accepts one value.
  L->Clear();
  F.C->SetMaxValueListCount(3);
  L->Add(fviAll, Null(), u"(All)", false);
  L->Add(fviCustom, Null(), u"(Custom...)", false);
  for (Integer V : {5, 4, 6}) L->Add(fviValue, Variant(V), IntToStr(V), false);
  ASSERT_EQ(L->Count(), 3);
  EXPECT_EQ(L->Items(2).Value.AsInteger(), 5);
}

TEST(vlFilterValueList, SortByDisplayTextThenValue) {
  TFixture F;
  std::unique_ptr<TvlFilterValueList, TObjectFree> L(New<TvlFilterValueList>(F.C.get()));
  L->SetSortByDisplayText(true);
  L->Add(fviValue, Variant(1), u"b", false);
  L->Add(fviValue, Variant(2), u"a", false);
  L->Add(fviValue, Variant(0), u"a", false);
  ASSERT_EQ(L->Count(), 3);
  EXPECT_EQ(L->Items(0).Value.AsInteger(), 0);
  EXPECT_EQ(L->Items(1).Value.AsInteger(), 2);
  EXPECT_EQ(L->Items(2).Value.AsInteger(), 1);
}

TEST(vlFilterValueList, IndexOfACriteriaItem) {
  TFixture F;
  std::unique_ptr<TvlFilterValueList, TObjectFree> L(New<TvlFilterValueList>(F.C.get()));
  for (auto K : {fviAll, fviCustom, fviBlanks, fviNonBlanks}) L->Add(K, Null(), u"", false);
  L->Add(fviValue, Variant(4), u"4", false);
  EXPECT_EQ(L->GetIndexByCriteriaItem(nullptr), 0);
  EXPECT_EQ(L->GetIndexByCriteriaItem(F.C->AddItem(nullptr, F.A, foEqual, Null(), u"")), 2);
  EXPECT_EQ(L->GetIndexByCriteriaItem(F.C->AddItem(nullptr, F.A, foNotEqual, Null(), u"")), 3);
  EXPECT_EQ(L->GetIndexByCriteriaItem(F.C->AddItem(nullptr, F.A, foEqual, Variant(4), u"4")), 4);
  EXPECT_EQ(L->GetIndexByCriteriaItem(F.C->AddItem(nullptr, F.A, foEqual, Variant(5), u"5")), 1);
  EXPECT_EQ(L->GetIndexByCriteriaItem(
                F.C->AddItem(nullptr, F.A, foBetween, VarArrayOf({Variant(1), Variant(2)}), u"")),
            1);
}

// The batch insertion keeps exactly what adding the values one by one keeps.
TEST(vlFilterValueList, BatchEqualsOneByOne) {
  std::mt19937 Rng(11);
  for (Integer Round = 0; Round < 200; ++Round) {
    TFixture F;
    F.C->SetMaxValueListCount(Round % 3 == 0 ? static_cast<Integer>(Rng() % 12) : 0);
    if (Round % 2) F.C->SetOptions(TvlFilterCriteriaOptions{fcoCaseInsensitive});
    std::unique_ptr<TTestValueList, TObjectFree> One(New<TTestValueList>(F.C.get()));
    std::unique_ptr<TTestValueList, TObjectFree> Batch(New<TTestValueList>(F.C.get()));
    for (TTestValueList* L : {One.get(), Batch.get()}) {
      L->SetSortByDisplayText(Round % 4 >= 2);
      L->Add(fviAll, Null(), u"(All)", false);
      if (Round % 5 == 0) L->Add(fviMRU, Variant(3), u"c", false);
      if (Round % 7 == 0) L->Add(fviValue, Variant(5), u"E", false);
    }
    // Values of one kind (numbers take the bitmap of a narrow range, or the
    // radix sort when spread wide), or integers mixed with texts; equal
    // values come with differing texts, so the first arrival's text shows.
    const Integer Kind = static_cast<Integer>(Rng() % 7);
    const Double Floats[] = {0.0, -0.0, 2.5, -2.5, std::numeric_limits<Double>::quiet_NaN(), 1e300, -1e300};
    std::vector<TvlFilterValueItem> Values;
    for (Integer I = 0, N = static_cast<Integer>(Rng() % 30); I < N; ++I) {
      Integer V = static_cast<Integer>(Rng() % 8);
      String Text(1, static_cast<Char>((Rng() % 2 ? u'a' : u'A') + Rng() % 4));
      Variant Value;
      switch (Kind) {
        case 1: Value = Variant(Int64(static_cast<Int64>(V) * (Rng() % 2 ? 1 : -1000000000000LL))); break;
        case 2: Value = Variant(Floats[V % std::size(Floats)]); break;
        case 3: Value = VarFromDateTime(46000 + V / 4.0); break;
        case 4: Value = Variant(V % 2 == 0); break;
        case 5: Value = Variant(Currency::FromRaw(V * 2500)); break;
        case 6: Value = Variant(V * 100000 - 300000); break;
        default: Value = Rng() % 3 ? Variant(V) : Variant(IntToStr(V)); break;
      }
      Values.push_back(TvlFilterValueItem{fviValue, Value, Text});
    }
    for (const TvlFilterValueItem& V : Values) One->Add(fviValue, V.Value, V.DisplayText, false);
    Batch->AddValues(Values);
    ASSERT_EQ(Batch->Count(), One->Count()) << Round;
    for (Integer I = 0; I < One->Count(); ++I) {
      EXPECT_EQ(Batch->Items(I).Kind, One->Items(I).Kind);
      EXPECT_EQ(vlCompareVariants(Batch->Items(I).Value, One->Items(I).Value), 0) << Round << " " << I;
      EXPECT_EQ(Batch->Items(I).DisplayText, One->Items(I).DisplayText) << Round << " " << I;
    }
  }
}

// Order keys given straight to the list keep the first arrival of each
// distinct key, in key order, whichever way they take (a bitmap of a narrow
// range or the radix sort of a wide one), against a plain stable sort: keys
// at the ends of the range and of its 64-bit words, both sides of the
// threshold between the ways, the ends of the key space, integer and float
// keys (-0 and 0 one key, NaN lowest, denormals, infinities, dates), then
// random keys. One list takes every case, so its kept arrays are reused.
TEST(vlFilterValueList, NumberKeysKeepTheFirstArrivalOfEachKey) {
  TFixture F;
  std::unique_ptr<TTestValueList, TObjectFree> L(New<TTestValueList>(F.C.get()));
  auto firstArrivals = [&](const std::vector<UInt64>& AKeys) {
    L->Clear();
    TvlKeyArray Keys(AKeys.begin(), AKeys.end());
    L->AddNumberKeys(
        Keys, [](void*, Integer I) { return Variant(I); }, [](void*, Integer I) { return IntToStr(I); },
        nullptr);
    std::vector<Integer> Got;
    for (Integer I = 0; I < L->Count(); ++I) {
      EXPECT_EQ(L->Items(I).DisplayText, IntToStr(L->Items(I).Value.AsInteger()));
      Got.push_back(L->Items(I).Value.AsInteger());
    }
    return Got;
  };
  auto reference = [](const std::vector<UInt64>& AKeys) {
    std::vector<Integer> Order(AKeys.size());
    std::iota(Order.begin(), Order.end(), 0);
    std::stable_sort(Order.begin(), Order.end(), [&](Integer A, Integer B) { return AKeys[A] < AKeys[B]; });
    std::vector<Integer> Kept;
    for (Integer I : Order)
      if (Kept.empty() || AKeys[Kept.back()] != AKeys[I]) Kept.push_back(I);
    return Kept;
  };
  auto ints = [](std::initializer_list<Int64> AValues) {
    std::vector<UInt64> K;
    for (Int64 V : AValues) K.push_back(vlIntegerOrderKey(V));
    return K;
  };
  auto floats = [](std::initializer_list<Double> AValues) {
    std::vector<UInt64> K;
    for (Double V : AValues) K.push_back(vlFloatOrderKey(V));
    return K;
  };
  const Double Nan = std::numeric_limits<Double>::quiet_NaN(), Inf = std::numeric_limits<Double>::infinity();
  const Double Denorm = std::numeric_limits<Double>::denorm_min();
  std::vector<std::pair<const char*, std::vector<UInt64>>> Cases = {
      {"none", {}},
      {"one key", {5}},
      {"all equal", {7, 7, 7, 7}},
      {"word edges from 0", {65, 0, 64, 63, 0, 65, 1, 64}},
      {"spread 64", {64, 0, 0, 32, 64}},
      {"spread 128", {128, 0, 64, 127, 1, 128, 0, 65, 63}},
      {"negative and positive integers", ints({-1, 0, 1, -64, 63, -1, 64, -65})},
      {"top of the key space", ints({INT64_MAX, INT64_MAX - 3, INT64_MAX - 1, INT64_MAX})},
      {"bottom of the key space", ints({INT64_MIN + 2, INT64_MIN, INT64_MIN, INT64_MIN + 1})},
      {"both ends", ints({INT64_MIN, INT64_MAX, 0, INT64_MIN, INT64_MAX})},
      {"zeros and denormals", floats({-0.0, Denorm, 0.0, -Denorm, -0.0, 0.0, Denorm})},
      {"every kind of double",
       floats({0.0, -0.0, Nan, Inf, -Inf, Denorm, -Denorm, 1e300, -1e300, Nan, -0.0})},
      {"NaN beside zero", floats({Nan, -Nan, 0.0, Nan})},
      {"dates", floats({46000.5, 46000.25, 46000.5, 46000, 46001, 46000.25})},
  };
  // Both sides of the threshold (a spread under 16 a key) at every base.
  for (UInt64 Spread : {0, 1, 15, 16, 17, 63, 64, 65, 127, 128, 129, 1023, 1024})
    for (UInt64 Base : {UInt64(0), UInt64(1) << 63, ~UInt64(0) - Spread})
      for (UInt64 Extra : {0, 1, 2}) {
        const size_t N = std::max<size_t>(2, static_cast<size_t>(Spread / 16 + Extra));
        std::vector<UInt64> K;
        for (size_t I = 0; I < N; ++I)
          K.push_back(Base + (I == 0 ? Spread : I == 1 ? 0 : (I * 37) % (Spread + 1)));
        Cases.push_back({"threshold", K});
      }
  for (const auto& [Name, Keys] : Cases) EXPECT_EQ(firstArrivals(Keys), reference(Keys)) << Name;
  std::mt19937_64 Rng(33);
  for (Integer Round = 0; Round < 300; ++Round) {
    const size_t N = 1 + Rng() % 400;
    const UInt64 Spreads[] = {N * 16 - 1,       N * 16,          N * 16 + 1, Rng() % 64,
                              Rng() % (N * 16), UInt64(1) << 40, ~UInt64(0)};
    const UInt64 Spread = Spreads[Rng() % std::size(Spreads)];
    const UInt64 Base = Spread == ~UInt64(0) ? 0 : Rng() % (~UInt64(0) - Spread);
    std::vector<UInt64> K(N);
    for (UInt64& X : K) X = Base + (Spread == ~UInt64(0) ? Rng() : Rng() % (Spread + 1));
    EXPECT_EQ(firstArrivals(K), reference(K)) << "round " << Round;
  }
}

// A value list's entries live in scratch memory that asks for huge pages
// from 2 MB: entries past that size survive a copy, a move, a swap, a clear
// and a reload of the list, with huge pages granted and with the process
// refusing them (the memory is then of ordinary pages).
TEST(vlFilterValueList, EntriesOnScratchMemoryWithAndWithoutHugePages) {
  // The process's setting is given back however the test ends.
  struct TRestore {
    int WasDisabled = prctl(PR_GET_THP_DISABLE, 0, 0, 0, 0);
    ~TRestore() { prctl(PR_SET_THP_DISABLE, WasDisabled > 0 ? 1 : 0, 0, 0, 0); }
  } Restore;
  for (const int Disable : {0, 1}) {
    SCOPED_TRACE(Disable ? "huge pages refused" : "huge pages asked for");
    prctl(PR_SET_THP_DISABLE, Disable, 0, 0, 0);
    using TEntries = std::vector<TvlFilterValueItem, TvlScratchAllocator<TvlFilterValueItem>>;
    constexpr Integer kBig = 40000;  // past 2 MB of entries
    TEntries Big;
    for (Integer I = 0; I < kBig; ++I) Big.push_back(TvlFilterValueItem{fviValue, Variant(I), IntToStr(I)});
    ASSERT_GE(Big.capacity() * sizeof(TvlFilterValueItem), size_t(2) << 20);
    auto holdsAll = [&](const TEntries& AEntries) {
      if (static_cast<Integer>(AEntries.size()) != kBig) return false;
      for (Integer I = 0; I < kBig; I += 997)
        if (AEntries[I].Value.AsInteger() != I || AEntries[I].DisplayText != IntToStr(I)) return false;
      return AEntries.back().DisplayText == IntToStr(kBig - 1);
    };
    TEntries Copy(Big);
    EXPECT_TRUE(holdsAll(Copy));
    TEntries Small(3);
    Small = Copy;
    EXPECT_TRUE(holdsAll(Small));
    TEntries Moved(std::move(Copy));
    EXPECT_TRUE(holdsAll(Moved));
    Small.clear();
    Small.shrink_to_fit();
    Small.swap(Moved);
    EXPECT_TRUE(holdsAll(Small));
    Big = std::move(Small);
    EXPECT_TRUE(holdsAll(Big));
    // The list itself: loaded, cleared and loaded again on its kept arrays.
    TFixture F;
    std::unique_ptr<TTestValueList, TObjectFree> L(New<TTestValueList>(F.C.get()));
    for (Integer Load = 0; Load < 2; ++Load) {
      std::vector<TvlFilterValueItem> Values;
      for (Integer I = kBig - 1; I >= 0; --I)
        Values.push_back(TvlFilterValueItem{fviValue, Variant(I * 3), IntToStr(I)});
      L->Clear();
      L->AddValues(Values);
      ASSERT_EQ(L->Count(), kBig);
      EXPECT_EQ(L->Items(0).DisplayText, u"0");
      EXPECT_EQ(L->Items(kBig - 1).Value.AsInteger(), (kBig - 1) * 3);
    }
  }
}

}  // namespace
