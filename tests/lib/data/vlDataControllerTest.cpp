#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "lib/data/vlDataConsts.h"
#include "lib/data/vlDataController.h"
#include "lib/foundation/vlVariants.h"
#include "platform/rtl/CodePages.h"
#include "platform/rtl/Conversions.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/Locale.h"
#include "platform/rtl/Strings.h"
#include "platform/classes/Streams.h"
#include "platform/classes/TypInfo.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Variants.h"

// Logs every update info the controller sends, one line each.
class TRecordingView : public TObject {
  CL_CLASS(TRecordingView, TObject)
 public:
  std::vector<std::string> Log;
  void Update(TvlUpdateControlInfo* AInfo) {
    String Name = AInfo->ClassName();
    std::string S = std::string(Name.begin(), Name.end()).substr(3);
    if (auto* D = dynamic_cast<TvlDataChangedInfo*>(AInfo))
      S += " " + std::to_string(D->Kind) + " " + std::to_string(D->ItemIndex) + " " + std::to_string(D->RecordIndex);
    if (auto* F = dynamic_cast<TvlFocusedRowChangedInfo*>(AInfo))
      S += " " + std::to_string(F->PrevFocusedRowIndex) + "->" + std::to_string(F->FocusedRowIndex);
    if (auto* F = dynamic_cast<TvlFocusedRecordChangedInfo*>(AInfo)) {
      S += " " + std::to_string(F->PrevFocusedRecordIndex) + "->" + std::to_string(F->FocusedRecordIndex);
      if (F->NewItemRowFocusingChanged) S += " new-item";
    }
    if (auto* Sel = dynamic_cast<TvlSelectionChangedInfo*>(AInfo)) {
      S += " [";
      for (Integer I = 0; I < Sel->Count(); ++I) S += (I ? "," : "") + std::to_string(Sel->RowIndexes(I));
      S += "]";
    }
    Log.push_back(S);
  }
  void Event(TvlCustomDataController*) { Log.push_back(Name); }
  void Notify(TObject*) { Log.push_back(Name); }
  void EventR(TvlCustomDataController*, Integer R) { Log.push_back(Name + " " + std::to_string(R)); }
  void EventRI(TvlCustomDataController*, Integer R, Integer I) {
    Log.push_back(Name + " " + std::to_string(R) + " " + std::to_string(I));
  }
  std::string Name;
};
CL_IMPLEMENT_CLASS(TRecordingView)

// A filter item that compares a text of its own making, not the stored one.
class TPrefixedFilterItem : public TvlDataFilterCriteriaItem {
  CL_CLASS(TPrefixedFilterItem, TvlDataFilterCriteriaItem)
 public:
  Variant GetRecordValue(Pointer AData) override {
    const Variant V = inherited::GetRecordValue(AData);
    return VarIsNull(V) ? V : Variant(u"z" + V.AsString());
  }
};

class TPrefixedFilterCriteria : public TvlDataFilterCriteria {
  CL_CLASS(TPrefixedFilterCriteria, TvlDataFilterCriteria)
 public:
  TvlFilterCriteriaItemClass CriteriaItemClass() override { return ClassOf<TPrefixedFilterItem>(); }
};

class TPrefixedFilterController : public TvlCustomDataController {
  CL_CLASS(TPrefixedFilterController, TvlCustomDataController)
 public:
  TvlDataFilterCriteriaClass GetFilterCriteriaClass() override { return ClassOf<TPrefixedFilterCriteria>(); }
};

CL_IMPLEMENT_CLASS(TPrefixedFilterItem)
CL_IMPLEMENT_CLASS(TPrefixedFilterCriteria)
CL_IMPLEMENT_CLASS(TPrefixedFilterController)

// A detail view's controller that hands out one detail controller per
// master record, as a grid view does.
class TMasterController : public TvlCustomDataController {
  CL_CLASS(TMasterController, TvlCustomDataController)
 public:
  std::vector<TvlCustomDataController*> Details;
  TObject* CreateDetailLinkObject(TvlCustomDataRelation* ARelation, Integer ARecordIndex) override {
    auto* D = New<TvlCustomDataController>(nullptr);
    D->SetMasterRelation(ARelation, ARecordIndex);
    Details.push_back(D);
    return D;
  }
  IvlDataController* GetDetailDataControllerByLinkObject(TObject* ALinkObject) override {
    return dynamic_cast<TvlCustomDataController*>(ALinkObject);
  }
};
CL_IMPLEMENT_CLASS(TMasterController)

// Counts its runs; a grid supplies an engine that re-orders the group rows.
class TCountingEngine : public TvlSortingBySummaryEngine {
  CL_CLASS(TCountingEngine, TvlSortingBySummaryEngine)
 public:
  static inline Integer Runs = 0;
  void Sort() override { ++Runs; }
};
CL_IMPLEMENT_CLASS(TCountingEngine)

class TSummarySortingController : public TvlCustomDataController {
  CL_CLASS(TSummarySortingController, TvlCustomDataController)
 public:
  TvlSortingBySummaryEngineClass GetSortingBySummaryEngineClass() override { return ClassOf<TCountingEngine>(); }
};
CL_IMPLEMENT_CLASS(TSummarySortingController)

// Two records whose values are made from the handle and the item.
class TTwoRecordSource : public TvlCustomDataSource {
  CL_CLASS(TTwoRecordSource, TvlCustomDataSource)
 public:
  static inline Integer Loads = 0;
  Integer GetRecordCount() override {
    ++Loads;
    return 2;
  }
  Variant GetValue(TRecordHandle H, Integer AItem) override { return Variant(static_cast<Integer>(H * 10 + AItem)); }
};
CL_IMPLEMENT_CLASS(TTwoRecordSource)

// A two-level master-detail tree as views build it: the patterns hang off
// the master's relation and the first pattern's relation; each clone has
// the relations of its pattern, three records, and its own detail clones.
class TTreeController : public TvlCustomDataController {
  CL_CLASS(TTreeController, TvlCustomDataController)
 public:
  TObject* NestedItem{};  // the item of the clones' own relation (level 1 only)
  Boolean SourcedClones{};  // the clones read their pattern's data source
  TObject* CreateDetailLinkObject(TvlCustomDataRelation* ARelation, Integer ARecordIndex) override {
    auto* D = New<TTreeController>(nullptr);
    D->AddItem(nullptr)->SetValueTypeClass(ClassOf<TvlIntegerValueType>());
    if (NestedItem) D->Relations()->Add(NestedItem);
    D->SetMasterRelation(ARelation, ARecordIndex);
    if (SourcedClones) return D;
    D->SetRecordCount(3);
    for (Integer R = 0; R < 3; ++R) D->SetValue(R, 0, GetValue(ARecordIndex, 0).AsInteger() * 10 + R);
    return D;
  }
  IvlDataController* GetDetailDataControllerByLinkObject(TObject* ALinkObject) override {
    return dynamic_cast<TvlCustomDataController*>(ALinkObject);
  }
};
CL_IMPLEMENT_CLASS(TTreeController)

// Detail rows by master record: record m has m + 1 rows valued m * 10 + row.
class TDetailSource : public TvlCustomDataSource {
  CL_CLASS(TDetailSource, TvlCustomDataSource)
 public:
  Integer GetRecordCount() override {
    Integer M = DataController()->MasterRecordIndex();
    return M < 0 ? 0 : M + 1;
  }
  Variant GetValue(TRecordHandle H, Integer) override {
    return Variant(static_cast<Integer>(DataController()->MasterRecordIndex() * 10 + H));
  }
};
CL_IMPLEMENT_CLASS(TDetailSource)

// Two records; asked for detail rows, answers for even records and counts.
class THasChildrenSource : public TvlCustomDataSource {
  CL_CLASS(THasChildrenSource, TvlCustomDataSource)
 public:
  Integer Asked{};
  Integer GetRecordCount() override { return 2; }
  Boolean GetDetailHasChildren(Integer ARecordIndex, Integer) override {
    ++Asked;
    return ARecordIndex % 2 == 0;
  }
};
CL_IMPLEMENT_CLASS(THasChildrenSource)

// Keeps its storage in provider mode and logs its field preparation; the
// first preparation of field 1 removes the last item.
class TPreparingController : public TvlCustomDataController {
  CL_CLASS(TPreparingController, TvlCustomDataController)
 public:
  std::vector<Integer> Prepared;
  TObject* DropOnce{};
  void PrepareField(TvlCustomDataField* AField) override {
    Prepared.push_back(AField->Index());
    if (AField->Index() == 1 && DropOnce) {
      TObject* Item = DropOnce;
      DropOnce = nullptr;
      RemoveItem(Item);
    }
  }
};
CL_IMPLEMENT_CLASS(TPreparingController)

namespace {

using TControllerPtr = std::unique_ptr<TvlCustomDataController, TObjectFree>;
using TComponentPtr = std::unique_ptr<TComponent, TObjectFree>;
using TViewPtr = std::unique_ptr<TRecordingView, TObjectFree>;
using TStreamPtr = std::unique_ptr<TMemoryStream, TObjectFree>;

struct TFixture {
  TControllerPtr DC{New<TvlCustomDataController>(nullptr)};
  std::vector<TComponentPtr> Columns;
  TViewPtr View{New<TRecordingView>()};

  TFixture() { DC->SetOnUpdateControl(TvlUpdateControlEvent(View.get(), &TRecordingView::Update)); }
  Integer AddColumn(TvlValueTypeClass AType) {
    Columns.emplace_back(New<TComponent>(nullptr));
    Columns.back()->SetName(u"Column" + IntToStr(static_cast<Integer>(Columns.size())));
    DC->AddItem(Columns.back().get())->SetValueTypeClass(AType);
    return static_cast<Integer>(Columns.size()) - 1;
  }
  // Rows of values, one column each.
  void Load(std::initializer_list<std::initializer_list<Variant>> Rows) {
    DC->BeginUpdate();
    DC->SetRecordCount(static_cast<Integer>(Rows.size()));
    Integer R = 0;
    for (const auto& Row : Rows) {
      Integer C = 0;
      for (const Variant& V : Row) DC->SetValue(R, C++, V);
      ++R;
    }
    DC->EndUpdate();
    View->Log.clear();
  }
  std::vector<Integer> RowRecords() {
    std::vector<Integer> R;
    for (Integer I = 0; I < DC->GetRowCount(); ++I) R.push_back(DC->GetRowInfo(I).RecordIndex);
    return R;
  }
};

// Summary texts with a point before the decimals, as in the English locale.
struct TPointDecimals {
  TFormatSettings Saved = FormatSettings();
  TPointDecimals() { FormatSettings().DecimalSeparator = u'.'; }
  ~TPointDecimals() { FormatSettings() = Saved; }
};

TEST(DataControllerSorting, TiesFollowRecordIndexAndMixedKindsSortTheSameBothWays) {
  TFixture F;
  F.AddColumn(ClassOf<TvlIntegerValueType>());
  F.AddColumn(ClassOf<TvlVariantValueType>());
  F.Load({{3, u"b"}, {1, 7}, {3, u"a"}, {Null(), 2.5}, {1, u"a"}, {3, Null()}});
  F.DC->ChangeSorting(0, soAscending);
  EXPECT_EQ(F.RowRecords(), (std::vector<Integer>{3, 1, 4, 0, 2, 5}));
  F.DC->ChangeSorting(0, soDescending);
  EXPECT_EQ(F.RowRecords(), (std::vector<Integer>{0, 2, 5, 1, 4, 3}));
  // A column of numbers, text and Null: descending is ascending reversed
  // (no ties among the distinct values).
  F.DC->ChangeSorting(0, soNone);
  F.DC->ChangeSorting(1, soAscending);
  std::vector<Integer> Up = F.RowRecords();
  F.DC->ChangeSorting(1, soDescending);
  std::vector<Integer> Down = F.RowRecords();
  // Records 2 and 4 share "a": ties keep record order in both directions.
  EXPECT_EQ(Up, (std::vector<Integer>{5, 3, 1, 2, 4, 0}));
  EXPECT_EQ(Down, (std::vector<Integer>{0, 2, 4, 1, 3, 5}));
}

// Booleans compare as numbers with True = -1: True before False ascending,
// in a Boolean column (its own keys) and in a variant column mixed with
// numbers, sorted and grouped both ways.
TEST(DataControllerSorting, BooleansTrueFirstSortedAndGrouped) {
  const Currency Half = Currency::FromRaw(-5000);
  struct TCase {
    const char* Name;
    TvlValueTypeClass Type;
    std::vector<Variant> Values;
    std::vector<Integer> Up, Down;  // sorted rows
    std::vector<Integer> GroupsUp, GroupsDown;  // first record of each collapsed group row
  };
  const TCase Cases[] = {
      {"Boolean column", ClassOf<TvlBooleanValueType>(), {false, true, Null(), true, false},
       {2, 1, 3, 0, 4}, {0, 4, 1, 3, 2}, {2, 1, 0}, {0, 1, 2}},
      {"variant column", ClassOf<TvlVariantValueType>(), {false, true, Null(), true, false},
       {2, 1, 3, 0, 4}, {0, 4, 1, 3, 2}, {2, 1, 0}, {0, 1, 2}},
      // True is -1, below -0.5: the two equal values stay in record order.
      {"with numbers", ClassOf<TvlVariantValueType>(), {-0.5, true, false, Variant(Half), 1},
       {1, 0, 3, 2, 4}, {4, 2, 0, 3, 1}, {1, 0, 2, 4}, {4, 2, 0, 1}},
  };
  for (const TCase& C : Cases) {
    TFixture F;
    F.AddColumn(C.Type);
    F.DC->SetRecordCount(static_cast<Integer>(C.Values.size()));
    for (Integer R = 0; R < F.DC->RecordCount(); ++R) F.DC->SetValue(R, 0, C.Values[R]);
    F.DC->ChangeSorting(0, soAscending);
    EXPECT_EQ(F.RowRecords(), C.Up) << C.Name;
    F.DC->ChangeSorting(0, soDescending);
    EXPECT_EQ(F.RowRecords(), C.Down) << C.Name;
    F.DC->ChangeSorting(0, soNone);
    F.DC->ChangeGrouping(0, 0);
    EXPECT_EQ(F.RowRecords(), C.GroupsUp) << C.Name;
    F.DC->ChangeSorting(0, soDescending);
    EXPECT_EQ(F.RowRecords(), C.GroupsDown) << C.Name;
  }
}

// A variant column of every kind sorts by one strict weak order: Null, then
// numbers by value (NaN first, True = -1, currency and dates as numbers),
// then texts as texts. Each direction gives the same rows however often and
// from whatever order it is sorted; ties keep record order both ways.
TEST(DataControllerSorting, MixedKindsSortByOneConsistentOrder) {
  const std::vector<Variant> Values = {
      Variant(String(u"10")), 9, Variant(String(u"9")), 10.0, true, Variant(Currency::FromRaw(95000)),
      Variant(String(u"abc")), Null(), VarFromDateTime(2.0), 10, std::numeric_limits<Double>::quiet_NaN(),
      Variant(String(u"10")), Variant(Int64(9)), 1e300, Variant(Currency::FromRaw(90000))};
  const std::vector<Integer> Up = {7, 10, 4, 8, 1, 12, 14, 5, 3, 9, 13, 0, 11, 2, 6};
  const std::vector<Integer> Down = {6, 2, 0, 11, 13, 3, 9, 5, 1, 12, 14, 8, 4, 10, 7};
  TFixture F;
  F.AddColumn(ClassOf<TvlVariantValueType>());
  F.DC->SetRecordCount(static_cast<Integer>(Values.size()));
  for (Integer R = 0; R < F.DC->RecordCount(); ++R) F.DC->SetValue(R, 0, Values[R]);
  for (Integer Round = 0; Round < 2; ++Round) {
    F.DC->ChangeSorting(0, soAscending);
    EXPECT_EQ(F.RowRecords(), Up) << Round;
    F.DC->ChangeSorting(0, soDescending);
    EXPECT_EQ(F.RowRecords(), Down) << Round;
  }
  // From storage order again.
  F.DC->ChangeSorting(0, soNone);
  F.DC->Refresh();
  F.DC->ChangeSorting(0, soDescending);
  EXPECT_EQ(F.RowRecords(), Down);
}

// Number keys are sorted packed beside their records: one number when the
// keys' spread fits 32 bits, key and record side by side otherwise. Both
// ways give the order of the value comparison: Null first (last
// descending), NaN below every number and equal to NaN, -0 equal to 0, ties
// by record index.
TEST(DataControllerSorting, NumberKeysPackedOrNotKeepTheOrder) {
  const Double Inf = std::numeric_limits<Double>::infinity(), NaN = std::numeric_limits<Double>::quiet_NaN();
  struct TCase {
    const char* Name;
    TvlValueTypeClass Type;
    std::vector<Variant> Values;
  };
  const TCase Cases[] = {
      {"integers, narrow", ClassOf<TvlIntegerValueType>(), {5, -3, Null(), 5, 0, -3, 7}},
      {"integers, full range", ClassOf<TvlIntegerValueType>(), {5, MaxInt, Null(), -MaxInt - 1, 0, 5, -3}},
      {"large integers", ClassOf<TvlLargeIntValueType>(), {Int64(0), INT64_MIN, Null(), INT64_MAX, Int64(-1), INT64_MIN}},
      {"small integers", ClassOf<TvlSmallintValueType>(),
       {SmallInt(5), SmallInt(-32768), Null(), SmallInt(32767), SmallInt(5), SmallInt(-1)}},
      {"words", ClassOf<TvlWordValueType>(), {Word(65535), Word(0), Null(), Word(65535), Word(1)}},
      {"currency", ClassOf<TvlCurrencyValueType>(),
       {Variant(Currency::FromRaw(-5000)), Variant(Currency::FromRaw(900000000000000LL)), Null(),
        Variant(Currency::FromRaw(-5000)), Variant(Currency::FromRaw(0))}},
      {"dates", ClassOf<TvlDateTimeValueType>(),
       {VarFromDateTime(46000.5), VarFromDateTime(-1.25), Null(), VarFromDateTime(46000.5), VarFromDateTime(0)}},
      {"floats, narrow", ClassOf<TvlFloatValueType>(), {1.0, 1.0000001, Null(), 1.0, 1.00000005, 1.0000001}},
      {"floats, wide", ClassOf<TvlFloatValueType>(),
       {1.5, -0.0, 0.0, NaN, -1e300, 1e300, Null(), 1.5, -Inf, Inf, NaN, -2.5, 0.0}},
  };
  auto Order = [](const Variant& A, const Variant& B) {
    if (VarIsNull(A) || VarIsNull(B)) return VarIsNull(A) == VarIsNull(B) ? 0 : (VarIsNull(A) ? -1 : 1);
    const Double X = A.AsDouble(), Y = B.AsDouble();
    if (std::isnan(X) || std::isnan(Y)) return std::isnan(X) == std::isnan(Y) ? 0 : (std::isnan(X) ? -1 : 1);
    if (VarType(A) == varInt64 || VarType(B) == varInt64) {
      const Int64 I = A.AsInt64(), J = B.AsInt64();
      return I < J ? -1 : (I > J ? 1 : 0);
    }
    return X < Y ? -1 : (X > Y ? 1 : 0);
  };
  for (const TCase& C : Cases) {
    TFixture F;
    F.AddColumn(C.Type);
    F.DC->SetRecordCount(static_cast<Integer>(C.Values.size()));
    for (Integer R = 0; R < F.DC->RecordCount(); ++R) F.DC->SetValue(R, 0, C.Values[R]);
    for (TvlDataSortOrder O : {soAscending, soDescending}) {
      F.DC->ChangeSorting(0, O);
      std::vector<Integer> Want;
      for (Integer R = 0; R < F.DC->RecordCount(); ++R) Want.push_back(R);
      std::stable_sort(Want.begin(), Want.end(), [&](Integer A, Integer B) {
        const Integer R = Order(F.DC->GetValue(A, 0), F.DC->GetValue(B, 0));
        return O == soDescending ? R > 0 : R < 0;
      });
      EXPECT_EQ(F.RowRecords(), Want) << C.Name << (O == soDescending ? " descending" : " ascending");
    }
  }
}

TEST(DataControllerSorting, TurkishTextByTheLocaleCollation) {
  const String Words[] = {u"şeker", u"Çay", u"ılık", u"İnce", u"cay", u"ince", u"Ilık", u"zeytin", u"Şeker", u"çay"};
  for (TvlDataControllerOptions Options : {TvlDataControllerOptions{dcoAnsiSort}, TvlDataControllerOptions{dcoAnsiSort, dcoCaseInsensitive}}) {
    TFixture F;
    F.AddColumn(ClassOf<TvlStringValueType>());
    F.DC->SetRecordCount(11);
    for (Integer I = 0; I < 10; ++I) F.DC->SetValue(I, 0, Variant(Words[I]));  // record 10 stays Null
    F.DC->SetOptions(Options);
    F.DC->ChangeSorting(0, soAscending);
    std::vector<Integer> Want{10};
    for (Integer I = 0; I < 10; ++I) Want.push_back(I);
    std::stable_sort(Want.begin() + 1, Want.end(), [&](Integer A, Integer B) {
      return (Options.Contains(dcoCaseInsensitive) ? AnsiCompareText(Words[A], Words[B]) : AnsiCompareStr(Words[A], Words[B])) < 0;
    });
    EXPECT_EQ(F.RowRecords(), Want);
  }
}

// The order a sort by a text column under the collation must give: Null
// first (last when descending), then the collation, ties by record index.
std::vector<Integer> CollatedOrder(TvlCustomDataController* DC, Boolean AIgnoreCase, Boolean ADescending) {
  std::vector<Integer> Want;
  for (Integer R = 0; R < DC->RecordCount(); ++R) Want.push_back(R);
  std::stable_sort(Want.begin(), Want.end(), [&](Integer A, Integer B) {
    const Variant VA = DC->GetValue(A, 0), VB = DC->GetValue(B, 0);
    Integer C;
    if (VarIsNull(VA) || VarIsNull(VB))
      C = VarIsNull(VA) == VarIsNull(VB) ? 0 : (VarIsNull(VA) ? -1 : 1);
    else
      C = AIgnoreCase ? AnsiCompareText(VA.AsString(), VB.AsString()) : AnsiCompareStr(VA.AsString(), VB.AsString());
    return ADescending ? C > 0 : C < 0;
  });
  return Want;
}

// The collation keys of a sorted text column are kept between sorts; every
// way a value or the records can change must show in the next sort.
TEST(DataControllerSorting, KeptCollationKeysFollowEveryChange) {
  const String Words[] = {u"şeker", u"Çay", u"ılık", u"İnce", u"cay", u"ince", u"Ilık", u"zeytin", u"Şeker", u"çay"};
  TFixture F;
  F.AddColumn(ClassOf<TvlWideStringValueType>());
  F.DC->SetRecordCount(12);
  for (Integer I = 0; I < 11; ++I) F.DC->SetValue(I, 0, Variant(Words[I % 10]));  // record 11 stays Null
  F.DC->SetOptions({dcoAnsiSort});
  Boolean IgnoreCase = false;
  struct TStep {
    const char* Name;
    std::function<void()> Change;
  };
  const TStep Steps[] = {
      {"first sort", [] {}},
      {"value set", [&] { F.DC->SetValue(3, 0, Variant(u"aaa")); }},
      {"value set to Null", [&] { F.DC->SetValue(0, 0, Null()); }},
      {"Null given a value", [&] { F.DC->SetValue(11, 0, Variant(u"Çamur")); }},
      {"record inserted", [&] { F.DC->SetValue(F.DC->InsertRecord(2), 0, Variant(u"ömür")); }},
      {"record appended", [&] { F.DC->SetValue(F.DC->AppendRecord(), 0, Variant(u"Ağaç")); }},
      {"record deleted", [&] { F.DC->DeleteRecord(5); }},
      {"edited and posted",
       [&] {
         F.DC->SetFocusedRecordIndex(7);
         F.DC->Edit();
         F.DC->SetEditValue(0, Variant(u"İğne"));
         F.DC->Post();
       }},
      {"case ignored",
       [&] {
         F.DC->SetOptions({dcoAnsiSort, dcoCaseInsensitive});
         IgnoreCase = true;
       }},
      {"value set ignoring case", [&] { F.DC->SetValue(1, 0, Variant(u"ÇAY")); }},
      {"case again",
       [&] {
         F.DC->SetOptions({dcoAnsiSort});
         IgnoreCase = false;
       }},
  };
  for (const TStep& Step : Steps) {
    Step.Change();
    for (TvlDataSortOrder Order : {soAscending, soDescending}) {
      F.DC->ChangeSorting(0, Order);
      EXPECT_EQ(F.RowRecords(), CollatedOrder(F.DC.get(), IgnoreCase, Order == soDescending))
          << Step.Name << (Order == soDescending ? " descending" : " ascending");
    }
  }
}

// Enough records for the keys to be built by several threads: the order is
// the collation's, ties by record index. The texts are drawn from a few
// distinct words, ranked once by the collation for the expected order.
TEST(DataControllerSorting, CollationKeysBuiltInThreadsKeepTheOrder) {
  const String Words[] = {u"şeker", u"Çay", u"ılık", u"İnce", u"cay", u"ince", u"Ilık", u"zeytin", u"Şeker",
                          u"çay", u"ağaç", u"Ağaç", u"ağa", u"", u"öğün", u"Ögün", u"uğur", u"Üzüm"};
  constexpr Integer N = 100000, W = sizeof(Words) / sizeof(Words[0]);
  std::vector<Integer> Rank(W);
  for (Integer I = 0; I < W; ++I)
    for (Integer J = 0; J < W; ++J) Rank[I] += AnsiCompareStr(Words[J], Words[I]) < 0;
  TFixture F;
  F.AddColumn(ClassOf<TvlWideStringValueType>());
  F.DC->BeginUpdate();
  F.DC->SetRecordCount(N);
  std::vector<Integer> Word(N);
  for (Integer R = 0; R < N; ++R) {
    Word[R] = (R * 7919 + R / 13) % W;
    F.DC->SetValue(R, 0, Variant(Words[Word[R]]));
  }
  F.DC->EndUpdate();
  F.DC->SetOptions({dcoAnsiSort});
  F.DC->ChangeSorting(0, soAscending);
  std::vector<Integer> Want(N);
  for (Integer R = 0; R < N; ++R) Want[R] = R;
  std::stable_sort(Want.begin(), Want.end(), [&](Integer A, Integer B) { return Rank[Word[A]] < Rank[Word[B]]; });
  EXPECT_EQ(F.RowRecords(), Want);
}

// LIKE and equality conditions over stored texts are matched on the
// storage's texts: the rows must be those the criteria's own evaluation of
// each record accepts, for Null, empty, Turkish and wildcard-laden texts
// under every option (case folding too), and for the criteria that take the
// general way (mixed operators, OR, a number compared with a text).
TEST(DataControllerFilter, LikeAndEqualOnStoredTextsMatchTheCriteria) {
  TFixture F;
  F.AddColumn(ClassOf<TvlWideStringValueType>());
  F.AddColumn(ClassOf<TvlStringValueType>());
  F.AddColumn(ClassOf<TvlIntegerValueType>());
  F.Load({{u"abc", u"x", 1},
          {u"", u"xy", 2},
          {Null(), u"", 3},
          {u"a%c", Null(), 4},
          {u"ab", u"y", 5},
          {u"bab", u"xx", Null()},
          {u"A", u"x_", 6},
          {u"şa", u"X", 7},
          {u"ırmak", u"İzmir", 8},
          {u"Irmak", u"izmir", 9},
          {u"\U00010428b", u"\uFF41z", 10},
          {u"\U00010400B", u"\uFF21Z", 11},
          {u"iI", u"\u0130\u0131", 12}});
  struct TCondition {
    Integer Item;
    TvlFilterOperatorKind Kind;
    Variant Value;
  };
  struct TCase {
    TvlFilterBoolOperatorKind Bool;
    std::vector<TCondition> Conditions;
  };
  const TCase Cases[] = {
      {fboAnd, {{0, foLike, u"a%"}}},
      {fboAnd, {{0, foLike, u"%b%"}}},
      {fboAnd, {{0, foLike, u"_"}}},
      {fboAnd, {{0, foLike, u""}}},
      {fboAnd, {{0, foLike, u"%"}}},
      {fboAnd, {{0, foLike, u"%a"}}},
      {fboAnd, {{0, foLike, u"Ş%"}}},
      {fboAnd, {{0, foLike, u"I%"}}},
      {fboAnd, {{1, foLike, u"İz%"}}},
      {fboAnd, {{1, foLike, u"iz%"}}},
      {fboAnd, {{0, foNotLike, u"a%"}}},
      {fboAnd, {{0, foNotLike, u""}}},
      {fboOr, {{1, foLike, u"x_"}}},
      {fboAnd, {{0, foLike, u"a%"}, {1, foLike, u"x%"}}},
      {fboAnd, {{0, foLike, u"%"}, {1, foNotLike, u"%y"}}},
      {fboAnd, {{0, foLike, u"a%"}, {2, foGreater, 1}}},
      {fboOr, {{0, foLike, u"a%"}, {1, foLike, u"x%"}}},
      {fboNotAnd, {{0, foLike, u"a%"}}},
      {fboAnd, {{0, foEqual, u"abc"}}},
      {fboAnd, {{0, foEqual, u"a%c"}}},
      {fboAnd, {{0, foEqual, u""}}},
      {fboAnd, {{0, foNotEqual, u""}}},
      {fboAnd, {{0, foNotEqual, u"ab"}}},
      {fboAnd, {{0, foEqual, u"IRMAK"}}},
      {fboAnd, {{1, foEqual, u"izmir"}}},
      {fboAnd, {{1, foEqual, u"İZMİR"}}},
      {fboAnd, {{1, foEqual, u"x"}, {0, foLike, u"a%"}}},
      {fboOr, {{1, foNotEqual, u"x"}}},
      {fboAnd, {{0, foEqual, 1}}},
      {fboOr, {{0, foEqual, u"ab"}, {1, foEqual, u"x"}}},
      {fboAnd, {{0, foLike, u"_b%"}}},
      {fboAnd, {{0, foLike, u"\U00010428%"}}},
      {fboAnd, {{0, foLike, u"\U00010400B"}}},
      {fboAnd, {{0, foNotLike, u"\U00010400%"}}},
      {fboAnd, {{1, foLike, u"\uFF21%"}}},
      {fboAnd, {{1, foLike, u"\uFF41z"}}},
      {fboAnd, {{0, foEqual, u"\U00010400B"}}},
      {fboAnd, {{1, foEqual, u"\uFF21Z"}}},
      {fboAnd, {{0, foLike, u"i%"}}},
      {fboAnd, {{0, foLike, u"\u0130%"}}},
      {fboAnd, {{1, foLike, u"I%"}}},
      {fboAnd, {{0, foEqual, u"\u0130I"}}},
      {fboAnd, {{0, foNotEqual, u"II"}}},
  };
  using O = TvlFilterCriteriaOptions;
  const O Options[] = {O(),
                       O{fcoIgnoreNull},
                       O{fcoSoftNull},
                       O{fcoSoftNull, fcoIgnoreNull},
                       O{fcoCaseInsensitive},
                       O{fcoCaseInsensitive, fcoSoftNull, fcoIgnoreNull}};
  TvlDataFilterCriteria* Filter = F.DC->Filter();
  for (TSystemLocale Locale : {TSystemLocale::Turkish, TSystemLocale::EnglishUS})
    for (const O& Option : Options)
      for (size_t C = 0; C < std::size(Cases); ++C) {
        SetSystemLocale(Locale);
        Filter->BeginUpdate();
        Filter->Clear();
        Filter->SetOptions(Option);
        Filter->Root()->SetBoolOperatorKind(Cases[C].Bool);
        for (const TCondition& Cond : Cases[C].Conditions)
          Filter->AddItem(nullptr, F.DC->GetItemField(Cond.Item), Cond.Kind, Cond.Value, String());
        Filter->SetActive(true);
        Filter->EndUpdate();
        std::vector<Integer> Want;
        for (Integer R = 0; R < F.DC->RecordCount(); ++R)
          if (Filter->MatchRecordIndex(R)) Want.push_back(R);
        EXPECT_EQ(F.RowRecords(), Want) << "case " << C << " options " << static_cast<int>(Option.ToInt())
                                        << " locale " << static_cast<int>(Locale);
      }
  SetSystemLocale(SystemLocaleFromSetting(nullptr));
  // One answer spelled out: a starts-with condition.
  Filter->BeginUpdate();
  Filter->Clear();
  Filter->SetOptions(O());
  Filter->AddItem(nullptr, F.DC->GetItemField(0), foLike, Variant(u"a%"), String());
  Filter->EndUpdate();
  EXPECT_EQ(F.RowRecords(), (std::vector<Integer>{0, 3, 4}));
}

// A filter item class that makes its own record values is asked for them:
// the stored texts are not matched in its place.
TEST(DataControllerFilter, AnItemClassWithItsOwnRecordValuesIsAsked) {
  TFixture F;
  F.DC.reset(New<TPrefixedFilterController>(nullptr));
  F.DC->SetOnUpdateControl(TvlUpdateControlEvent(F.View.get(), &TRecordingView::Update));
  F.AddColumn(ClassOf<TvlWideStringValueType>());
  F.Load({{u"ab"}, {u"zab"}, {Null()}, {u"b"}});
  struct TCase {
    TvlFilterOperatorKind Kind;
    const char16_t* Value;
    std::vector<Integer> Rows;
  };
  const TCase Cases[] = {{foEqual, u"zab", {0}},
                         {foNotEqual, u"zab", {1, 2, 3}},
                         {foLike, u"z%", {0, 1, 3}},
                         {foNotLike, u"zz%", {0, 2, 3}}};
  TvlDataFilterCriteria* Filter = F.DC->Filter();
  for (const TCase& C : Cases) {
    Filter->BeginUpdate();
    Filter->Clear();
    Filter->AddItem(nullptr, F.DC->GetItemField(0), C.Kind, Variant(String(C.Value)), String());
    Filter->SetActive(true);
    Filter->EndUpdate();
    EXPECT_EQ(F.RowRecords(), C.Rows) << static_cast<int>(C.Kind);
  }
}

// The value list of a number column, read straight from the storage, holds
// exactly what adding each scanned record's value and text one by one
// keeps: value order, the first record's text among equal values (-0 and
// 0, NaNs), blanks left out, the limit, and with filtered values the
// records in display order. One column type per row; currency takes the
// general way.
TEST(DataControllerFilter, NumberValueListsEqualOneByOneInsertion) {
  TPointDecimals Point;
  TFixture F;
  const TvlValueTypeClass Types[] = {ClassOf<TvlIntegerValueType>(),  ClassOf<TvlSmallintValueType>(),
                                     ClassOf<TvlWordValueType>(),     ClassOf<TvlLargeIntValueType>(),
                                     ClassOf<TvlBooleanValueType>(),  ClassOf<TvlFloatValueType>(),
                                     ClassOf<TvlDateTimeValueType>(), ClassOf<TvlCurrencyValueType>()};
  for (TvlValueTypeClass T : Types) F.AddColumn(T);
  const Double Floats[] = {0.0, -0.0, 1.5, -1.5, std::numeric_limits<Double>::quiet_NaN(),
                           std::numeric_limits<Double>::infinity(), -std::numeric_limits<Double>::infinity(), 1e300};
  const Int64 Ints[] = {0, 1, -1, 7, 32767, -32768, 65535, 2147483647, -2147483647 - 1, 9000000000000LL};
  std::mt19937 Rng(33);
  constexpr Integer kRecords = 400;
  F.DC->BeginUpdate();
  F.DC->SetRecordCount(kRecords);
  for (Integer R = 0; R < kRecords; ++R)
    for (Integer C = 0; C < static_cast<Integer>(std::size(Types)); ++C) {
      if (Rng() % 9 == 0) continue;  // a blank
      const Int64 I = Ints[Rng() % std::size(Ints)];
      Variant V;
      switch (C) {
        case 1: V = Variant(static_cast<SmallInt>(I)); break;
        case 2: V = Variant(static_cast<Word>(I)); break;
        case 3: V = Variant(I); break;
        case 4: V = Variant(Rng() % 2 == 0); break;
        case 5: V = Variant(Floats[Rng() % std::size(Floats)]); break;
        case 6: V = VarFromDateTime(46000 + static_cast<Double>(Rng() % 5) / 4); break;
        case 7: V = Variant(Currency::FromRaw(static_cast<Int64>(Rng() % 7) * 2500)); break;
        default: V = Variant(static_cast<Integer>(I)); break;
      }
      F.DC->SetValue(R, C, V);
    }
  F.DC->EndUpdate();
  TvlDataFilterCriteria* Filter = F.DC->Filter();
  std::unique_ptr<TvlDataFilterValueList, TObjectFree> L(Filter->CreateValueList());
  struct TCase {
    Boolean Filtered;
    Integer Limit;
  };
  for (const TCase& Case : {TCase{false, 0}, TCase{false, 5}, TCase{true, 0}, TCase{true, 4}})
    for (Integer C = 0; C < static_cast<Integer>(std::size(Types)); ++C) {
      // Filtered: every other record by the first column's parity, sorted
      // by the float column descending, so the scan follows display order.
      Filter->BeginUpdate();
      Filter->Clear();
      Filter->SetMaxValueListCount(Case.Limit);
      if (Case.Filtered)
        Filter->AddItem(nullptr, F.DC->GetItemField(4), foEqual, Variant(true), String());
      Filter->SetActive(Case.Filtered);
      Filter->EndUpdate();
      F.DC->ChangeSorting(5, Case.Filtered ? soDescending : soNone);
      L->Load(C, false, Case.Filtered);

      std::unique_ptr<TvlFilterValueList, TObjectFree> Want(New<TvlFilterValueList>(static_cast<TvlFilterCriteria*>(Filter)));
      Want->Add(fviAll, Null(), u"(All)", false);
      Want->Add(fviCustom, Null(), u"(Custom...)", false);
      const Integer N = Case.Filtered ? F.DC->FilteredRecordCount() : F.DC->RecordCount();
      ASSERT_GT(N, 0);
      for (Integer I = 0; I < N; ++I) {
        const Integer R = Case.Filtered ? F.DC->GetRecordListRecordIndex(I) : I;
        const Variant V = F.DC->GetValue(R, C);
        if (!VarIsNull(V)) Want->Add(fviValue, V, F.DC->GetDisplayText(R, C), false);
      }
      const Integer Start = L->GetStartValueIndex(), WantStart = Want->GetStartValueIndex();
      ASSERT_EQ(L->Count() - Start, Want->Count() - WantStart) << C << " " << Case.Filtered << " " << Case.Limit;
      for (Integer I = 0; I < Want->Count() - WantStart; ++I) {
        const TvlFilterValueItem& Got = L->Items(Start + I);
        const TvlFilterValueItem& Exp = Want->Items(WantStart + I);
        EXPECT_EQ(VarType(Got.Value), VarType(Exp.Value)) << C << " at " << I;
        EXPECT_EQ(vlCompareVariants(Got.Value, Exp.Value), 0) << C << " at " << I;
        EXPECT_EQ(Got.DisplayText, Exp.DisplayText) << C << " at " << I;
      }
      // The filter keeps only True in the Boolean column: no blanks there.
      EXPECT_EQ(L->FindItemByKind(fviBlanks) >= 0, !(Case.Filtered && C == 4)) << C;
    }
}

// One value list loaded again and again from the same column while the
// column changes: its data, its type (numbers of another width, a float,
// texts, back to numbers), the values at the ends of the large-integer and
// currency ranges, a filtered view and a typed value in an edited record.
// Each load holds what adding each scanned record's value one by one keeps.
TEST(DataControllerFilter, NumberValueListFollowsTheColumnBetweenLoads) {
  TPointDecimals Point;
  TFixture F;
  F.AddColumn(ClassOf<TvlIntegerValueType>());
  F.AddColumn(ClassOf<TvlBooleanValueType>());
  TvlDataFilterCriteria* Filter = F.DC->Filter();
  std::unique_ptr<TvlDataFilterValueList, TObjectFree> L(Filter->CreateValueList());
  auto fill = [&](TvlValueTypeClass AType, std::vector<Variant> AValues) {
    F.DC->GetItemField(0)->SetValueTypeClass(AType);
    F.DC->BeginUpdate();
    F.DC->SetRecordCount(static_cast<Integer>(AValues.size()));
    for (Integer R = 0; R < static_cast<Integer>(AValues.size()); ++R) {
      F.DC->SetValue(R, 0, AValues[R]);
      F.DC->SetValue(R, 1, Variant(R % 2 == 0));
    }
    F.DC->EndUpdate();
  };
  auto expectOneByOne = [&](const char* AStep, Boolean AFiltered) {
    SCOPED_TRACE(AStep);
    L->Load(0, false, AFiltered);
    std::unique_ptr<TvlFilterValueList, TObjectFree> Want(
        New<TvlFilterValueList>(static_cast<TvlFilterCriteria*>(Filter)));
    const Integer N = AFiltered ? F.DC->FilteredRecordCount() : F.DC->RecordCount();
    for (Integer I = 0; I < N; ++I) {
      const Integer R = AFiltered ? F.DC->GetRecordListRecordIndex(I) : I;
      const Variant V = F.DC->GetFilterDataValue(R, F.DC->GetItemField(0));
      if (!VarIsNull(V)) Want->Add(fviValue, V, F.DC->GetFilterValueDisplayText(R, 0), false);
    }
    const Integer Start = L->GetStartValueIndex();
    std::vector<std::string> Got, Exp;
    for (Integer I = Start; I < L->Count() && L->Items(I).Kind == fviValue; ++I)
      Got.push_back(UTF16ToUTF8(L->Items(I).DisplayText) + "/" + std::to_string(VarType(L->Items(I).Value)));
    for (Integer I = Want->GetStartValueIndex(); I < Want->Count(); ++I)
      Exp.push_back(UTF16ToUTF8(Want->Items(I).DisplayText) + "/" + std::to_string(VarType(Want->Items(I).Value)));
    EXPECT_EQ(Got, Exp);
  };
  fill(ClassOf<TvlIntegerValueType>(), {Variant(5), Variant(-3), Null(), Variant(5), Variant(70000)});
  expectOneByOne("integers", false);
  F.DC->SetValue(1, 0, Variant(6));  // the data changed: -3 is gone
  F.DC->SetValue(2, 0, Variant(-9));
  expectOneByOne("integers changed", false);
  fill(ClassOf<TvlSmallintValueType>(), {Variant(SmallInt(-32768)), Variant(SmallInt(32767)), Variant(SmallInt(0))});
  expectOneByOne("small integers", false);
  fill(ClassOf<TvlFloatValueType>(), {Variant(2.5), Variant(-0.0), Variant(0.0), Variant(1e300), Variant(2.5)});
  expectOneByOne("floats", false);
  fill(ClassOf<TvlStringValueType>(), {Variant(u"b"), Variant(u"a"), Variant(u"b")});
  expectOneByOne("texts", false);
  fill(ClassOf<TvlLargeIntValueType>(),
       {Variant(INT64_MAX), Variant(INT64_MIN), Variant(INT64_MAX - 1), Variant(INT64_MIN + 1), Variant(Int64(0)),
        Variant(INT64_MIN)});
  expectOneByOne("large integers, both ends", false);
  fill(ClassOf<TvlLargeIntValueType>(), {Variant(Int64(4294967295LL)), Variant(Int64(0)), Variant(Int64(1))});
  expectOneByOne("large integers, a spread of 32 bits", false);
  fill(ClassOf<TvlCurrencyValueType>(),
       {Variant(Currency::FromRaw(INT64_MAX)), Variant(Currency::FromRaw(INT64_MIN)), Variant(Currency::FromRaw(0)),
        Variant(Currency::FromRaw(-1)), Variant(Currency::FromRaw(INT64_MAX))});
  expectOneByOne("currency, both ends", false);
  fill(ClassOf<TvlIntegerValueType>(), {Variant(4), Variant(3), Variant(2), Variant(1), Variant(3), Variant(0)});
  Filter->BeginUpdate();
  Filter->AddItem(nullptr, F.DC->GetItemField(1), foEqual, Variant(true), String());
  Filter->SetActive(true);
  Filter->EndUpdate();
  F.DC->ChangeSorting(0, soDescending);
  expectOneByOne("filtered, sorted", true);
  expectOneByOne("filtered view, every value", false);
  F.DC->SetFocusedRowIndex(0);
  F.DC->Edit();
  F.DC->SetEditValue(0, Variant(77));
  expectOneByOne("edited, a value typed", true);
  F.DC->Post();
  expectOneByOne("posted", true);
}

// The value list read from the storage maps each key to its record, with a
// blank at the first, a middle or the last record, every record blank, no
// record, one record; each column loaded in full, then filtered (every
// other record, sorted descending), then in full again, so the list's kept
// arrays pass between loads of every record and of a filtered list.
TEST(DataControllerFilter, NumberValueListRecordsAroundBlanksAndBetweenLoads) {
  TFixture F;
  F.AddColumn(ClassOf<TvlIntegerValueType>());
  F.AddColumn(ClassOf<TvlBooleanValueType>());
  TvlDataFilterCriteria* Filter = F.DC->Filter();
  std::unique_ptr<TvlDataFilterValueList, TObjectFree> L(Filter->CreateValueList());
  const std::vector<std::pair<const char*, std::vector<Variant>>> Cases = {
      {"blank first", {Null(), Variant(5), Variant(3), Variant(5), Variant(9)}},
      {"blank in the middle", {Variant(4), Variant(2), Null(), Variant(7), Variant(2), Variant(1)}},
      {"blank last", {Variant(6), Variant(1), Variant(6), Variant(-2), Null()}},
      {"blanks only", {Null(), Null(), Null()}},
      {"no record", {}},
      {"one record", {Variant(8)}},
      {"no blank", {Variant(3), Variant(-1), Variant(2), Variant(3)}},
  };
  // What adding each scanned record's value one by one shows, and whether a
  // blank was met.
  auto expected = [&](Boolean AFiltered, Boolean& ABlanks) {
    std::unique_ptr<TvlFilterValueList, TObjectFree> Want(
        New<TvlFilterValueList>(static_cast<TvlFilterCriteria*>(Filter)));
    ABlanks = false;
    const Integer N = AFiltered ? F.DC->FilteredRecordCount() : F.DC->RecordCount();
    for (Integer I = 0; I < N; ++I) {
      const Integer R = AFiltered ? F.DC->GetRecordListRecordIndex(I) : I;
      const Variant V = F.DC->GetValue(R, 0);
      if (VarIsNull(V))
        ABlanks = true;
      else
        Want->Add(fviValue, V, F.DC->GetDisplayText(R, 0), false);
    }
    std::vector<std::string> Texts;
    for (Integer I = 0; I < Want->Count(); ++I) Texts.push_back(UTF16ToUTF8(Want->Items(I).DisplayText));
    return Texts;
  };
  for (const auto& [Name, Values] : Cases)
    for (const Boolean Filtered : {false, true, false}) {
      SCOPED_TRACE(std::string(Name) + (Filtered ? ", filtered" : ""));
      F.DC->BeginUpdate();
      F.DC->SetRecordCount(static_cast<Integer>(Values.size()));
      for (Integer R = 0; R < static_cast<Integer>(Values.size()); ++R) {
        F.DC->SetValue(R, 0, Values[R]);
        F.DC->SetValue(R, 1, Variant(R % 2 == 1));
      }
      F.DC->EndUpdate();
      Filter->BeginUpdate();
      Filter->Clear();
      if (Filtered) Filter->AddItem(nullptr, F.DC->GetItemField(1), foEqual, Variant(true), String());
      Filter->SetActive(Filtered);
      Filter->EndUpdate();
      F.DC->ChangeSorting(0, Filtered ? soDescending : soNone);
      const Boolean UseFiltered = Filtered && F.DC->FilteredRecordCount() > 0;
      L->Load(0, false, Filtered);
      Boolean Blanks;
      const std::vector<std::string> Want = expected(UseFiltered, Blanks);
      std::vector<std::string> Got;
      for (Integer I = L->GetStartValueIndex(); I < L->Count() && L->Items(I).Kind == fviValue; ++I) {
        EXPECT_EQ(UTF16ToUTF8(L->Items(I).Value.AsString()), UTF16ToUTF8(L->Items(I).DisplayText));
        Got.push_back(UTF16ToUTF8(L->Items(I).DisplayText));
      }
      EXPECT_EQ(Got, Want);
      EXPECT_EQ(L->FindItemByKind(fviBlanks) >= 0, Blanks);
    }
}

TEST(DataControllerSorting, EditedRecordKeepsItsPlaceUntilPosted) {
  TFixture F;
  F.AddColumn(ClassOf<TvlIntegerValueType>());
  F.Load({{10}, {20}, {30}, {40}});
  F.DC->ChangeSorting(0, soAscending);
  F.DC->SetFocusedRowIndex(1);  // record 1 (20)
  F.DC->Edit();
  EXPECT_EQ(F.DC->EditState(), dceEdit);
  F.DC->SetEditValue(0, 35);
  F.DC->Refresh();
  EXPECT_EQ(F.RowRecords(), (std::vector<Integer>{0, 1, 2, 3}));
  F.DC->Post();
  EXPECT_EQ(F.DC->EditState(), 0);
  EXPECT_EQ(F.RowRecords(), (std::vector<Integer>{0, 2, 1, 3}));
  EXPECT_EQ(F.DC->FocusedRecordIndex(), 1);
  // The last row edited stays last.
  F.DC->SetFocusedRowIndex(3);
  F.DC->Edit();
  F.DC->SetEditValue(0, 1);
  F.DC->Refresh();
  EXPECT_EQ(F.RowRecords().back(), 3);
  F.DC->Cancel();
  EXPECT_EQ(F.DC->GetValue(3, 0), Variant(40));
}

TEST(DataControllerGrouping, TreeRowsExpansionAndRefresh) {
  TFixture F;
  F.AddColumn(ClassOf<TvlStringValueType>());
  F.AddColumn(ClassOf<TvlIntegerValueType>());
  F.Load({{u"A", 1}, {u"B", 2}, {u"A", 3}});
  F.DC->ChangeGrouping(0, 0);
  ASSERT_EQ(F.DC->GetRowCount(), 2);
  EXPECT_EQ(F.DC->GetRowInfo(0).Level, 0);
  EXPECT_EQ(F.DC->GetRowInfo(1).RecordIndex, 1);
  F.DC->ChangeExpanding(0, true, false);
  ASSERT_EQ(F.DC->GetRowCount(), 4);
  EXPECT_EQ(F.RowRecords(), (std::vector<Integer>{0, 0, 2, 1}));
  EXPECT_EQ(F.DC->GetRowInfo(1).Level, 1);
  EXPECT_EQ(F.DC->GetRowInfo(3).Level, 0);
  // Reading a group row gives the grouping value.
  EXPECT_EQ(F.DC->GetRowValue(F.DC->GetRowInfo(3), 1), Variant(u"B"));
  // A reload keeps A expanded (dcoSaveExpanding is on by default).
  F.DC->SetValue(1, 1, 5);
  F.DC->Refresh();
  EXPECT_EQ(F.DC->GetRowCount(), 4);
  // Without the option the groups come back collapsed.
  F.DC->SetOptions(F.DC->Options() - dcoSaveExpanding);
  EXPECT_EQ(F.DC->GetRowCount(), 2);
  // Always expanded.
  F.DC->SetOptions(F.DC->Options() + dcoGroupsAlwaysExpanded);
  EXPECT_EQ(F.DC->GetRowCount(), 5);
  F.DC->FullCollapse();
  EXPECT_EQ(F.DC->GetRowCount(), 5);
}

TEST(DataControllerGrouping, TwoLevelsRowNumbering) {
  TFixture F;
  F.AddColumn(ClassOf<TvlStringValueType>());
  F.AddColumn(ClassOf<TvlIntegerValueType>());
  F.Load({{u"A", 1}, {u"A", 2}, {u"B", 1}, {u"A", 1}});
  F.DC->ChangeGrouping(0, 0);
  F.DC->ChangeGrouping(1, 1);
  EXPECT_EQ(F.DC->GetRowCount(), 2);
  F.DC->FullExpand();
  // A, A/1, r0, r3, A/2, r1, B, B/1, r2
  EXPECT_EQ(F.DC->GetRowCount(), 9);
  EXPECT_EQ(F.RowRecords(), (std::vector<Integer>{0, 0, 0, 3, 1, 1, 2, 2, 2}));
  std::vector<Integer> Levels;
  for (Integer I = 0; I < F.DC->GetRowCount(); ++I) Levels.push_back(F.DC->GetRowInfo(I).Level);
  EXPECT_EQ(Levels, (std::vector<Integer>{0, 1, 2, 2, 1, 2, 0, 1, 2}));
  TvlDataControllerGroups* G = F.DC->Groups();
  EXPECT_TRUE(G->HasAsParent(3, 0));   // a data row two levels below
  EXPECT_FALSE(G->HasAsParent(7, 0));  // B/1 is not under A
  EXPECT_EQ(G->GetChildCount(-1), 2);
  Integer B = G->GetDataGroupIndexByGroupValue(-1, Variant(u"B"));
  EXPECT_EQ(G->GetGroupValue(B), Variant(u"B"));
  std::vector<Integer> Records;
  G->LoadRecordIndexes(Records, G->GroupIndexOfRow(0));
  EXPECT_EQ(Records, (std::vector<Integer>{0, 3, 1}));
  EXPECT_EQ(G->GetRecordIndexOfChild(G->GroupIndexOfRow(1), 1), 3);
  F.DC->ChangeExpanding(1, false, false);  // A/1 collapsed
  EXPECT_EQ(F.DC->GetRowCount(), 7);
  EXPECT_EQ(F.DC->GetRowInfo(2).Level, 1);  // A/2
}

TEST(DataControllerFocus, KeptByRecordAcrossRefreshAndMovedToCollapsedGroup) {
  TFixture F;
  F.AddColumn(ClassOf<TvlStringValueType>());
  F.Load({{u"c"}, {u"a"}, {u"b"}});
  F.DC->SetFocusedRecordIndex(2);
  F.DC->ChangeSorting(0, soAscending);
  EXPECT_EQ(F.DC->FocusedRecordIndex(), 2);
  EXPECT_EQ(F.DC->FocusedRowIndex(), 1);
  F.DC->SetValue(1, 0, u"z");  // record 1 moves to the end
  EXPECT_EQ(F.DC->FocusedRecordIndex(), 2);
  EXPECT_EQ(F.DC->FocusedRowIndex(), 0);
  // Group, expand, focus a data row, collapse: the group row gets the focus.
  F.DC->ChangeGrouping(0, 0);
  F.DC->FullExpand();
  F.DC->SetFocusedRecordIndex(1);
  Integer Row = F.DC->FocusedRowIndex();
  EXPECT_EQ(F.DC->GetRowInfo(Row).Level, 1);
  F.DC->ChangeExpanding(Row - 1, false, false);
  EXPECT_EQ(F.DC->FocusedRowIndex(), Row - 1);
  EXPECT_EQ(F.DC->GetRowInfo(F.DC->FocusedRowIndex()).Level, 0);
}

TEST(DataControllerFocus, Navigation) {
  TFixture F;
  F.AddColumn(ClassOf<TvlIntegerValueType>());
  EXPECT_TRUE(F.DC->IsEOF());
  EXPECT_TRUE(F.DC->IsBOF());
  F.Load({{1}, {2}, {3}, {4}});
  EXPECT_FALSE(F.DC->IsBOF());  // rows but none focused
  F.DC->GotoFirst();
  F.DC->GotoPrev();
  EXPECT_EQ(F.DC->FocusedRowIndex(), 0);
  F.DC->SetFocusedRowIndex(2);
  F.DC->MoveBy(-5);
  EXPECT_EQ(F.DC->FocusedRowIndex(), 0);
  F.DC->GotoLast();
  F.DC->GotoNext();
  EXPECT_EQ(F.DC->FocusedRowIndex(), 3);
  EXPECT_TRUE(F.DC->IsEOF());
  F.DC->SetFocusedRowIndex(100);
  EXPECT_EQ(F.DC->FocusedRowIndex(), 3);
  F.DC->SetFocusedRowIndex(-2);
  EXPECT_EQ(F.DC->FocusedRowIndex(), -1);
  EXPECT_THROW(F.DC->InsertRecord(6), EvlInvalidDataControllerOperation);
  EXPECT_EQ(F.DC->InsertRecord(4), 4);
}

TEST(DataControllerSummary, FooterKindsWithNullsAndCountWithoutField) {
  TPointDecimals Point;
  struct TCase {
    TvlSummaryKind Kind;
    Boolean NullIgnore;
    std::u16string Text;
  };
  const TCase Cases[] = {
      {skSum, true, u"6.00"},        {skAverage, true, u"AVG=3.00"}, {skAverage, false, u"AVG=2.00"},
      {skMin, true, u"MIN=2.00"},    {skMax, false, u"MAX=4.00"},    {skCount, true, u"2"},
      {skCount, false, u"3"},
  };
  for (const TCase& C : Cases) {
    TFixture F;
    F.AddColumn(ClassOf<TvlIntegerValueType>());
    F.Load({{2}, {Null()}, {4}});
    F.DC->Summary()->SetOptions(C.NullIgnore ? TvlSummaryOptions{soNullIgnore} : TvlSummaryOptions());
    F.DC->Summary()->FooterSummaryItems()->Add(F.Columns[0].get(), spFooter, C.Kind);
    EXPECT_EQ(F.DC->Summary()->FooterSummaryTexts(0), C.Text) << C.Kind << " " << C.NullIgnore;
  }
  TFixture F;
  F.AddColumn(ClassOf<TvlIntegerValueType>());
  F.Load({{Null()}, {Null()}, {Null()}});
  TvlDataSummaryItems* Items = F.DC->Summary()->FooterSummaryItems();
  Items->Add(F.Columns[0].get(), spFooter, skSum);
  Items->Add(nullptr, spFooter, skCount);
  Items->Add(F.Columns[0].get(), spFooter, skMin);
  EXPECT_TRUE(VarIsNull(F.DC->Summary()->FooterSummaryValues(0)));
  EXPECT_EQ(F.DC->Summary()->FooterSummaryValues(1), Variant(3));
  EXPECT_TRUE(VarIsNull(F.DC->Summary()->FooterSummaryValues(2)));
  EXPECT_TRUE(VarIsNull(F.DC->Summary()->FooterSummaryValues(9)));
  F.DC->Summary()->SetOptions(TvlSummaryOptions());
  EXPECT_EQ(F.DC->Summary()->FooterSummaryValues(0), Variant(0));
}

TEST(DataControllerSummary, GroupRowText) {
  TPointDecimals Point;
  TFixture F;
  F.AddColumn(ClassOf<TvlStringValueType>());
  F.AddColumn(ClassOf<TvlFloatValueType>());
  F.Load({{u"A", 5.0}, {u"B", 1.0}, {u"A", 3.0}, {u"A", 4.0}});
  TvlDataSummaryItems* G = F.DC->Summary()->DefaultGroupSummaryItems();
  G->Add(F.Columns[1].get(), spGroup, skSum);
  G->Add(nullptr, spGroup, skCount);
  F.DC->ChangeGrouping(0, 0);
  EXPECT_EQ(F.DC->Summary()->GroupSummaryText(0), u"(SUM=12.00, COUNT=3)");
  EXPECT_EQ(F.DC->Summary()->GroupSummaryText(1), u"(SUM=1.00, COUNT=1)");
  // Recalculated after a value change.
  F.DC->SetValue(1, 1, 2.5);
  EXPECT_EQ(F.DC->Summary()->GroupSummaryText(1), u"(SUM=2.50, COUNT=1)");
}

// Every item text is joined with the separator, an empty one too, wherever
// it stands; only an empty result drops the begin and end texts. The empty
// text is a sum over Null values.
TEST(DataControllerSummary, GroupRowTextWithEmptyItemTexts) {
  struct TCase {
    std::vector<Boolean> EmptyItems;  // per item: the empty sum, else a count
    std::u16string Text;
  };
  const TCase Cases[] = {
      {{true, false}, u"(, COUNT=1)"},
      {{false, true}, u"(COUNT=1, )"},
      {{false, true, false}, u"(COUNT=1, , COUNT=1)"},
      {{true, true}, u"(, )"},
      {{true}, u""},
  };
  for (const TCase& C : Cases) {
    TFixture F;
    F.AddColumn(ClassOf<TvlStringValueType>());
    F.AddColumn(ClassOf<TvlFloatValueType>());
    F.Load({{u"A", Null()}});
    TvlDataSummaryItems* G = F.DC->Summary()->DefaultGroupSummaryItems();
    for (Boolean Empty : C.EmptyItems)
      G->Add(Empty ? F.Columns[1].get() : nullptr, spGroup, Empty ? skSum : skCount);
    F.DC->ChangeGrouping(0, 0);
    EXPECT_EQ(F.DC->Summary()->GroupSummaryText(0), C.Text) << C.EmptyItems.size() << " " << C.EmptyItems[0];
  }
}

// Footer and group summaries of dates, times and money under both locales:
// dates and times in the short formats, an average of money stays money,
// money rounds from its exact decimal value half away from zero.
TEST(DataControllerSummary, DatesTimesAndMoneyUnderBothLocales) {
  const TDateTime Morning = EncodeDateTime(2024, 3, 1, 10, 30, 15, 0), Day = EncodeDate(2024, 2, 1);
  const TDateTime Time = EncodeTime(14, 5, 0, 0);
  auto Money = [](Int64 Raw) { return Variant(Currency::FromRaw(Raw)); };
  struct TCase {
    const char* Name;
    TvlValueTypeClass Type;
    std::vector<Variant> Values;
    TvlSummaryKind Kind;
    std::u16string Footer[2], Group[2];  // Turkish, English
  };
  const TCase Cases[] = {
      {"date and time", ClassOf<TvlDateTimeValueType>(), {VarFromDateTime(Morning), VarFromDateTime(Day)}, skMax,
       {u"MAX=01.03.2024 10:30", u"MAX=3/1/2024 10:30 AM"},
       {u"(MAX=01.03.2024 10:30)", u"(MAX=3/1/2024 10:30 AM)"}},
      {"date", ClassOf<TvlDateTimeValueType>(), {VarFromDateTime(Morning), VarFromDateTime(Day)}, skMin,
       {u"MIN=01.02.2024", u"MIN=2/1/2024"}, {u"(MIN=01.02.2024)", u"(MIN=2/1/2024)"}},
      {"time", ClassOf<TvlDateTimeValueType>(), {VarFromDateTime(Time), Null()}, skMax,
       {u"MAX=14:05", u"MAX=2:05 PM"}, {u"(MAX=14:05)", u"(MAX=2:05 PM)"}},
      {"average of money", ClassOf<TvlCurrencyValueType>(), {Money(20000), Money(30000)}, skAverage,
       {u"AVG=2,50 TL", u"AVG=$2.50"}, {u"(AVG=2,50 TL)", u"(AVG=$2.50)"}},
      {"sum of money, half up", ClassOf<TvlCurrencyValueType>(), {Money(10025), Money(25)}, skSum,
       {u"1,01 TL", u"$1.01"}, {u"(SUM=1,01 TL)", u"(SUM=$1.01)"}},
      {"sum of money, half down", ClassOf<TvlCurrencyValueType>(), {Money(-63550), Null()}, skSum,
       {u"-6,36 TL", u"-$6.36"}, {u"(SUM=-6,36 TL)", u"(SUM=-$6.36)"}},
  };
  const TSystemLocale Locales[] = {TSystemLocale::Turkish, TSystemLocale::EnglishUS};
  for (Integer L = 0; L < 2; ++L) {
    SetSystemLocale(Locales[L]);
    for (const TCase& C : Cases) {
      TFixture F;
      F.AddColumn(ClassOf<TvlIntegerValueType>());
      F.AddColumn(C.Type);
      F.DC->SetRecordCount(static_cast<Integer>(C.Values.size()));
      for (Integer R = 0; R < F.DC->RecordCount(); ++R) {
        F.DC->SetValue(R, 0, 1);
        F.DC->SetValue(R, 1, C.Values[R]);
      }
      F.DC->Summary()->FooterSummaryItems()->Add(F.Columns[1].get(), spFooter, C.Kind);
      F.DC->Summary()->DefaultGroupSummaryItems()->Add(F.Columns[1].get(), spGroup, C.Kind);
      F.DC->ChangeGrouping(0, 0);
      EXPECT_EQ(F.DC->Summary()->FooterSummaryTexts(0), C.Footer[L]) << C.Name << " " << L;
      EXPECT_EQ(F.DC->Summary()->GroupSummaryText(0), C.Group[L]) << C.Name << " " << L;
    }
  }
  SetSystemLocale(SystemLocaleFromSetting(nullptr));
}

TEST(DataControllerNotify, MergedDataChangesDeliveredOnceAfterTheLock) {
  TFixture F;
  F.AddColumn(ClassOf<TvlIntegerValueType>());
  F.AddColumn(ClassOf<TvlIntegerValueType>());
  F.Load({{1, 1}, {2, 2}});
  F.DC->BeginUpdate();
  F.DC->SetValue(0, 0, 5);
  F.DC->SetValue(0, 1, 6);
  EXPECT_TRUE(F.View->Log.empty());
  F.DC->EndUpdate();
  EXPECT_EQ(F.View->Log, (std::vector<std::string>{"DataChangedInfo 1 -1 0"}));
  F.View->Log.clear();
  F.DC->BeginUpdate();
  F.DC->SetValue(0, 0, 7);
  F.DC->SetValue(1, 0, 8);
  F.DC->EndUpdate();
  EXPECT_EQ(F.View->Log, (std::vector<std::string>{"DataChangedInfo 4 0 1"}));
  F.View->Log.clear();
  F.DC->SetValue(1, 1, 9);
  EXPECT_EQ(F.View->Log, (std::vector<std::string>{"DataChangedInfo 0 1 1"}));
  // Sorting alone: a layout info; focus infos follow in order.
  F.View->Log.clear();
  F.DC->SetFocusedRowIndex(0);
  EXPECT_EQ(F.View->Log, (std::vector<std::string>{"FocusedRowChangedInfo -1->0", "FocusedRecordChangedInfo -1->0"}));
  F.View->Log.clear();
  F.DC->ChangeSorting(0, soDescending);
  EXPECT_EQ(F.View->Log, (std::vector<std::string>{"LayoutChangedInfo", "FocusedRowChangedInfo 0->1",
                                                   "FocusedRecordChangedInfo 0->0"}));
}

TEST(DataControllerNotify, SelectionInfos) {
  TFixture F;
  F.AddColumn(ClassOf<TvlIntegerValueType>());
  F.Load({{1}, {2}, {3}});
  F.DC->SetMultiSelect(true);
  F.View->Log.clear();
  F.DC->ChangeRowSelection(1, true);
  EXPECT_EQ(F.View->Log, (std::vector<std::string>{"SelectionChangedInfo [1]"}));
  F.View->Log.clear();
  F.DC->SelectAll();
  EXPECT_EQ(F.View->Log, (std::vector<std::string>{"SelectionChangedInfo []"}));
  EXPECT_EQ(F.DC->GetSelectedCount(), 3);
  // The selection follows its records through a sort.
  F.DC->ClearSelection();
  F.DC->ChangeRowSelection(0, true);
  F.DC->ChangeSorting(0, soDescending);
  EXPECT_EQ(F.DC->GetSelectedRowIndex(0), 2);
}

TEST(DataControllerEditing, ProviderStateMachineAndEvents) {
  TFixture F;
  F.AddColumn(ClassOf<TvlIntegerValueType>());
  F.Load({{1}, {2}, {3}});
  TRecordingView Events;
  auto Bind = [&](const char* AName) {
    auto* V = New<TRecordingView>();
    V->Name = AName;
    return V;
  };
  std::vector<TRecordingView*> Handlers{Bind("BeforePost"), Bind("AfterPost"), Bind("AfterCancel"),
                                        Bind("AfterInsert"), Bind("NewRecord")};
  std::vector<std::string> Log;
  for (auto* H : Handlers) H->Log.clear();
  F.DC->SetOnBeforePost(TvlDataControllerNotifyEvent(Handlers[0], &TRecordingView::Event));
  F.DC->SetOnAfterPost(TvlDataControllerNotifyEvent(Handlers[1], &TRecordingView::Event));
  F.DC->SetOnAfterCancel(TvlDataControllerNotifyEvent(Handlers[2], &TRecordingView::Event));
  F.DC->SetOnAfterInsert(TvlDataControllerNotifyEvent(Handlers[3], &TRecordingView::Event));
  F.DC->SetOnNewRecord(TvlDataDetailExpandedEvent(Handlers[4], &TRecordingView::EventR));
  F.DC->SetFocusedRowIndex(1);
  // browse -> edit -> edit+changing+modified -> browse by post
  F.DC->Edit();
  EXPECT_EQ(F.DC->EditState(), dceEdit);
  EXPECT_TRUE(F.DC->CanInitEditing(0));
  EXPECT_EQ(F.DC->EditState(), dceEdit | dceChanging);
  F.DC->SetEditValue(0, 20);
  EXPECT_EQ(F.DC->EditState(), dceEdit | dceChanging | dceModified);
  F.DC->Post();
  EXPECT_EQ(F.DC->EditState(), 0);
  EXPECT_EQ(Handlers[0]->Log.size(), 1u);
  EXPECT_EQ(Handlers[1]->Log.size(), 1u);
  // Insert before the focused record; an unmodified insert posted is cancelled.
  F.DC->Insert();
  EXPECT_EQ(F.DC->EditState(), dceInsert);
  EXPECT_EQ(F.DC->RecordCount(), 4);
  EXPECT_EQ(Handlers[4]->Log, (std::vector<std::string>{"NewRecord 1"}));
  EXPECT_EQ(F.DC->FocusedRecordIndex(), 1);
  F.DC->Post();
  EXPECT_EQ(F.DC->RecordCount(), 3);
  EXPECT_EQ(Handlers[1]->Log.size(), 1u);  // no after-post
  EXPECT_EQ(Handlers[2]->Log.size(), 1u);
  // Append, type a value, post: the record stays.
  F.DC->Append();
  EXPECT_EQ(F.DC->FocusedRecordIndex(), 3);
  F.DC->SetEditValue(0, 99);
  F.DC->Post();
  EXPECT_EQ(F.DC->RecordCount(), 4);
  EXPECT_EQ(F.DC->GetValue(3, 0), Variant(99));
  // Cancel of an append at the end leaves the focus on the new last row.
  F.DC->Append();
  F.DC->Cancel();
  EXPECT_EQ(F.DC->RecordCount(), 4);
  EXPECT_EQ(F.DC->FocusedRowIndex(), 3);
  // Immediate post.
  F.DC->SetOptions(F.DC->Options() + dcoImmediatePost);
  F.DC->SetEditValue(0, 5);
  EXPECT_EQ(F.DC->EditState(), 0);
  for (auto* H : Handlers) Free(H);
}

// The new-item row: values typed into an internal record, a stored record
// appended only when they are posted.
TEST(DataControllerNewItemRow, FocusTypePostAndCancel) {
  TFixture F;
  F.AddColumn(ClassOf<TvlIntegerValueType>());
  F.AddColumn(ClassOf<TvlStringValueType>());
  F.Load({{1, u"a"}, {2, u"b"}, {3, u"c"}});
  F.DC->SetUseNewItemRowForEditing(true);
  F.DC->SetFocusedRowIndex(1);
  F.DC->SaveBookmark();
  F.View->Log.clear();
  F.DC->SetNewItemRowFocused(true);
  EXPECT_TRUE(F.DC->NewItemRowFocused());
  EXPECT_EQ(F.DC->FocusedRowIndex(), -1);
  EXPECT_EQ(F.View->Log, (std::vector<std::string>{"FocusedRowChangedInfo 1->-1",
                                                   "FocusedRecordChangedInfo 1->-1 new-item"}));
  const Integer NewItem = F.DC->NewItemRecordIndex();
  EXPECT_LT(NewItem, 0);
  EXPECT_EQ(F.DC->EditingRecordIndex(), NewItem);
  EXPECT_TRUE(VarIsNull(F.DC->GetEditValue(0)));  // nothing typed yet

  // Typing starts an insert through the new-item row; nothing is stored yet.
  EXPECT_TRUE(F.DC->SetEditValue(0, 7));
  EXPECT_TRUE(F.DC->SetEditValue(1, String(u"new")));
  EXPECT_EQ(F.DC->EditState(), dceInsert | dceChanging | dceModified);
  EXPECT_EQ(F.DC->RecordCount(), 3);
  EXPECT_EQ(F.DC->GetEditValue(0), Variant(7));
  EXPECT_EQ(F.DC->GetValue(NewItem, 1), Variant(String(u"new")));
  EXPECT_EQ(F.DC->GetRowValue(TvlRowInfo{.Level = 0, .RecordIndex = NewItem}, 0), Variant(7));

  // Post: a stored record appended with the values, the focus on it.
  F.View->Log.clear();
  F.DC->Post();
  EXPECT_EQ(F.DC->EditState(), 0);
  ASSERT_EQ(F.DC->RecordCount(), 4);
  EXPECT_EQ(F.DC->GetValue(3, 0), Variant(7));
  EXPECT_EQ(F.DC->GetValue(3, 1), Variant(String(u"new")));
  EXPECT_EQ(F.DC->FocusedRecordIndex(), 3);
  EXPECT_FALSE(F.DC->NewItemRowFocused());
  EXPECT_EQ(F.DC->Provider()->InsertedRecordIndex(), -1);
  EXPECT_NE(std::find(F.View->Log.begin(), F.View->Log.end(), "FocusedRecordChangedInfo -1->3 new-item"),
            F.View->Log.end());

  // Cancel: nothing appended, the row stays focused and empty.
  F.DC->SetNewItemRowFocused(true);
  F.DC->SetEditValue(0, 8);
  F.DC->Cancel();
  EXPECT_EQ(F.DC->EditState(), 0);
  EXPECT_EQ(F.DC->RecordCount(), 4);
  EXPECT_TRUE(F.DC->NewItemRowFocused());
  EXPECT_TRUE(VarIsNull(F.DC->GetEditValue(0)));
  // Dropping the internal record moved no stored index.
  EXPECT_TRUE(F.DC->IsBookmarkRow(1));

  // Moving the focus to a row posts the typed values; the chosen row keeps the focus.
  F.DC->SetEditValue(0, 9);
  F.DC->SetFocusedRowIndex(0);
  EXPECT_EQ(F.DC->EditState(), 0);
  ASSERT_EQ(F.DC->RecordCount(), 5);
  EXPECT_EQ(F.DC->GetValue(4, 0), Variant(9));
  EXPECT_EQ(F.DC->FocusedRowIndex(), 0);
  EXPECT_FALSE(F.DC->NewItemRowFocused());

  // Turning the row off cancels its edit.
  F.DC->SetNewItemRowFocused(true);
  F.DC->SetEditValue(0, 10);
  F.DC->SetUseNewItemRowForEditing(false);
  EXPECT_EQ(F.DC->EditState(), 0);
  EXPECT_EQ(F.DC->RecordCount(), 5);
  EXPECT_FALSE(F.DC->NewItemRowFocused());
}

TEST(DataControllerNewItemRow, InsertGoesThroughTheRowAndInsertOnFocusing) {
  TFixture F;
  F.AddColumn(ClassOf<TvlStringValueType>());
  F.AddColumn(ClassOf<TvlIntegerValueType>());
  F.Load({{u"A", 1}, {u"B", 2}});
  TRecordingView NewRecords;
  F.DC->SetOnNewRecord(TvlDataDetailExpandedEvent(&NewRecords, &TRecordingView::EventR));
  F.DC->SetUseNewItemRowForEditing(true);
  F.DC->SetFocusedRowIndex(1);
  // Insert moves the focus to the new-item row instead of inserting a stored record.
  F.DC->Insert();
  EXPECT_TRUE(F.DC->NewItemRowFocused());
  EXPECT_EQ(F.DC->EditState(), dceInsert);
  EXPECT_EQ(F.DC->RecordCount(), 2);
  EXPECT_EQ(F.DC->EditingRecordIndex(), F.DC->NewItemRecordIndex());
  EXPECT_EQ(NewRecords.Log, (std::vector<std::string>{" " + std::to_string(F.DC->NewItemRecordIndex())}));
  // An insert nobody typed into is cancelled by the post.
  F.DC->Post();
  EXPECT_EQ(F.DC->EditState(), 0);
  EXPECT_EQ(F.DC->RecordCount(), 2);
  // Edit on the focused new-item row inserts.
  F.DC->Edit();
  EXPECT_EQ(F.DC->EditState(), dceInsert);
  F.DC->Cancel();

  // With the option, focusing the row starts the insert.
  F.DC->SetFocusedRowIndex(0);
  F.DC->SetOptions(F.DC->Options() + dcoInsertOnNewItemRowFocusing);
  F.DC->SetNewItemRowFocused(true);
  EXPECT_EQ(F.DC->EditState(), dceInsert);
  F.DC->SetEditValue(1, 5);
  // Leaving the row posts it.
  F.DC->SetNewItemRowFocused(false);
  EXPECT_EQ(F.DC->EditState(), 0);
  ASSERT_EQ(F.DC->RecordCount(), 3);
  EXPECT_EQ(F.DC->GetValue(2, 1), Variant(5));
  EXPECT_EQ(F.DC->FocusedRecordIndex(), 2);

  // A grouped controller: the new-item row is no group row.
  F.DC->ChangeGrouping(0, 0);
  F.DC->SetNewItemRowFocused(true);
  F.DC->SetEditValue(1, 6);
  EXPECT_EQ(F.DC->GetRowValue(TvlRowInfo{.Level = 0, .RecordIndex = F.DC->NewItemRecordIndex()}, 1), Variant(6));
  F.DC->Cancel();
}

// A source that keeps its rows itself and appends on request.
class TRowsSource : public TvlCustomDataSource {
  CL_CLASS(TRowsSource, TvlCustomDataSource)
 public:
  std::vector<Variant> Rows{Variant(1), Variant(2)};
  Integer GetRecordCount() override { return static_cast<Integer>(Rows.size()); }
  Variant GetValue(TRecordHandle H, Integer) override { return Rows[H]; }
  void SetValue(TRecordHandle H, Integer, const Variant& V) override { Rows[H] = V; }
  TRecordHandle AppendRecord() override {
    Rows.push_back(Null());
    return static_cast<TRecordHandle>(Rows.size()) - 1;
  }
};
CL_IMPLEMENT_CLASS(TRowsSource)

TEST(DataControllerNewItemRow, ProviderModePostWritesTheSource) {
  TFixture F;
  F.AddColumn(ClassOf<TvlIntegerValueType>());
  TRowsSource* Source = New<TRowsSource>();
  F.DC->SetCustomDataSource(Source);
  F.DC->SetUseNewItemRowForEditing(true);
  F.DC->SetNewItemRowFocused(true);
  F.DC->SetEditValue(0, 30);
  EXPECT_EQ(Source->Rows.size(), 2u);  // typed values stay in the controller
  F.DC->Post();
  ASSERT_EQ(Source->Rows.size(), 3u);
  EXPECT_EQ(Source->Rows[2], Variant(30));
  ASSERT_EQ(F.DC->RecordCount(), 3);
  EXPECT_EQ(F.DC->GetValue(2, 0), Variant(30));
  EXPECT_EQ(F.DC->FocusedRecordIndex(), 2);
  // Cancelling an edit of a stored record puts the source's value back.
  F.DC->SetFocusedRecordIndex(0);
  F.DC->SetEditValue(0, 11);
  EXPECT_EQ(Source->Rows[0], Variant(11));
  F.DC->Cancel();
  EXPECT_EQ(Source->Rows[0], Variant(1));
  F.DC->SetCustomDataSource(nullptr);
  Free(Source);
}

TEST(DataControllerNewItemRow, RecordIndexChecksAcceptTheNewItemRecordOnly) {
  TFixture F;
  F.AddColumn(ClassOf<TvlIntegerValueType>());
  F.Load({{1}});
  const Integer NewItem = F.DC->NewItemRecordIndex();
  // Not in use: the internal record is out of range like any other.
  EXPECT_THROW(F.DC->GetValue(NewItem, 0), EvlInvalidDataControllerOperation);
  F.DC->SetUseNewItemRowForEditing(true);
  EXPECT_NO_THROW(F.DC->GetValue(NewItem, 0));
  EXPECT_NO_THROW(F.DC->SetValue(NewItem, 0, 4));
  EXPECT_EQ(F.DC->GetDisplayText(NewItem, 0), u"4");
  for (Integer Bad : {NewItem - 1, 1, vlNoEditingRecordIndex})
    EXPECT_THROW(F.DC->GetValue(Bad, 0), EvlInvalidDataControllerOperation) << Bad;
  // A reload drops the internal records; the next use creates the record again.
  F.DC->DataStorage()->Clear(false);
  EXPECT_THROW(F.DC->GetValue(NewItem - 1, 0), EvlInvalidDataControllerOperation);
  EXPECT_LT(F.DC->NewItemRecordIndex(), 0);
}

TEST(DataControllerEditing, DeleteFocusedGroupRowDeletesItsRecordsOnce) {
  TFixture F;
  F.AddColumn(ClassOf<TvlStringValueType>());
  F.Load({{u"A"}, {u"B"}, {u"A"}, {u"C"}});
  F.DC->ChangeGrouping(0, 0);
  F.DC->SetFocusedRowIndex(0);
  F.DC->DeleteFocused();
  EXPECT_EQ(F.DC->RecordCount(), 2);
  EXPECT_EQ(F.DC->GetValue(0, 0), Variant(u"B"));
  // The nearest row, group B, shows its record: B is expanded to focus it.
  EXPECT_EQ(F.DC->FocusedRecordIndex(), 0);
  EXPECT_EQ(F.DC->GetRowCount(), 3);
}

TEST(DataControllerSearch, LocateWrapsLocateNextDoesNot) {
  TFixture F;
  F.AddColumn(ClassOf<TvlStringValueType>());
  F.Load({{u"İstanbul"}, {u"Ankara"}, {u"ıspanak"}, {u"Çorum"}, {u"istasyon"}});
  // Turkish case rules: "is" matches "İstanbul" and "istasyon", not "ıspanak".
  F.DC->SetFocusedRowIndex(1);
  EXPECT_TRUE(F.DC->Search()->Locate(0, u"is"));
  EXPECT_EQ(F.DC->FocusedRecordIndex(), 4);
  EXPECT_TRUE(F.DC->Search()->Searching());
  EXPECT_FALSE(F.DC->Search()->LocateNext(true));  // no wrap
  EXPECT_TRUE(F.DC->Search()->LocateNext(false));
  EXPECT_EQ(F.DC->FocusedRecordIndex(), 0);
  F.DC->SetFocusedRowIndex(3);
  EXPECT_TRUE(F.DC->Search()->Locate(0, u"ANK"));  // wraps to the start
  EXPECT_EQ(F.DC->FocusedRecordIndex(), 1);
  EXPECT_FALSE(F.DC->Search()->Locate(0, u"xyz"));
  EXPECT_EQ(F.DC->Search()->SearchText(), u"ANK");
  EXPECT_TRUE(F.DC->Search()->Locate(0, u"ÇO"));
  EXPECT_EQ(F.DC->FocusedRecordIndex(), 3);
  // A focus move that is not the search's own ends the search.
  F.DC->SetFocusedRowIndex(1);
  EXPECT_FALSE(F.DC->Search()->Searching());
  EXPECT_FALSE(F.DC->Search()->Locate(0, u""));
  // Find by text, circular.
  EXPECT_EQ(F.DC->FindRecordIndexByText(3, 0, u"ank", true, true, true), 1);
  EXPECT_EQ(F.DC->FindRecordIndexByText(3, 0, u"ank", true, false, true), -1);
  EXPECT_EQ(F.DC->SetIncrementalFilter(0, u"zzz"), -1);
  EXPECT_EQ(F.DC->SetIncrementalFilter(0, u"a"), 1);
  EXPECT_EQ(F.DC->GetRowCount(), 1);
}

TEST(DataControllerStream, RoundTripChecksAndDamage) {
  TFixture F;
  F.AddColumn(ClassOf<TvlIntegerValueType>());
  F.AddColumn(ClassOf<TvlStringValueType>());
  F.Load({{1, u"bir"}, {Null(), u"iki"}, {3, Null()}});
  TStreamPtr S(New<TMemoryStream>());
  F.DC->SaveToStream(S.get());
  TFixture G;
  G.AddColumn(ClassOf<TvlIntegerValueType>());
  G.AddColumn(ClassOf<TvlStringValueType>());
  S->SetPosition(0);
  G.DC->LoadFromStream(S.get());
  ASSERT_EQ(G.DC->RecordCount(), 3);
  for (Integer R = 0; R < 3; ++R)
    for (Integer C = 0; C < 2; ++C) EXPECT_EQ(vlCompareVariants(G.DC->GetValue(R, C), F.DC->GetValue(R, C)), 0);
  // A mismatching layout is refused before any record changes.
  TFixture H;
  H.AddColumn(ClassOf<TvlIntegerValueType>());
  H.AddColumn(ClassOf<TvlFloatValueType>());
  H.Load({{7, 1.5}});
  S->SetPosition(0);
  EXPECT_THROW(H.DC->LoadFromStream(S.get()), EvlInvalidDataControllerOperation);
  EXPECT_EQ(H.DC->RecordCount(), 1);
  // Every truncation of the stream fails and leaves G as it was.
  const Integer Size = static_cast<Integer>(S->Size());
  for (Integer Cut = 0; Cut < Size; ++Cut) {
    TStreamPtr T(New<TMemoryStream>());
    T->WriteBuffer(S->Memory(), Cut);
    T->SetPosition(0);
    G.DC->SetValue(0, 0, 42);
    EXPECT_ANY_THROW(G.DC->LoadFromStream(T.get())) << Cut;
    EXPECT_EQ(G.DC->RecordCount(), 3);
    EXPECT_EQ(G.DC->GetValue(0, 0), Variant(42));
  }
}

TEST(DataControllerStream, ProviderModeSaveReadsBack) {
  TFixture F;
  F.AddColumn(ClassOf<TvlIntegerValueType>());
  TTwoRecordSource* Source = New<TTwoRecordSource>();
  F.DC->SetCustomDataSource(Source);
  ASSERT_EQ(F.DC->RecordCount(), 2);
  EXPECT_EQ(F.DC->GetValue(1, 0), Variant(10));
  // A structure change under the lock reloads once, when the lock ends.
  TTwoRecordSource::Loads = 0;
  F.DC->BeginUpdate();
  F.DC->GetItemField(0)->NotifyStructureChanged();
  F.DC->GetItemField(0)->NotifyStructureChanged();
  EXPECT_EQ(TTwoRecordSource::Loads, 0);
  F.DC->EndUpdate();
  EXPECT_EQ(TTwoRecordSource::Loads, 1);
  TStreamPtr S(New<TMemoryStream>());
  F.DC->SaveToStream(S.get());
  S->SetPosition(0);
  EXPECT_THROW(F.DC->LoadFromStream(S.get()), EvlInvalidDataControllerOperation);
  TFixture G;
  G.AddColumn(ClassOf<TvlIntegerValueType>());
  S->SetPosition(0);
  G.DC->LoadFromStream(S.get());
  EXPECT_EQ(G.DC->GetValue(1, 0), Variant(10));
  Free(Source);
  EXPECT_EQ(F.DC->CustomDataSource(), nullptr);
}

TEST(DataControllerMasterDetail, DetailIndexesShiftOnDelete) {
  std::unique_ptr<TMasterController, TObjectFree> DC(New<TMasterController>(nullptr));
  TComponentPtr Col(New<TComponent>(nullptr)), DetailItem(New<TComponent>(nullptr));
  DC->AddItem(Col.get())->SetValueTypeClass(ClassOf<TvlIntegerValueType>());
  TControllerPtr Pattern(New<TvlCustomDataController>(nullptr));
  Pattern->SetMasterMode(DC->Relations()->Add(DetailItem.get()), true);
  EXPECT_TRUE(Pattern->IsPattern());
  DC->SetRecordCount(10);
  for (Integer R = 0; R < 10; ++R) {
    DC->SetValue(R, 0, R);
    EXPECT_TRUE(DC->ChangeDetailExpanding(R, true));
    ASSERT_NE(DC->GetDetailLinkObject(R, 0), nullptr);
  }
  EXPECT_TRUE(DC->GetDetailExpanding(4));
  EXPECT_TRUE(DC->ChangeDetailExpanding(4, true));
  EXPECT_TRUE(DC->ChangeDetailExpanding(4, false));
  EXPECT_FALSE(DC->GetDetailExpanding(4));
  for (Integer R : {7, 5, 2}) DC->DeleteRecord(R);
  ASSERT_EQ(DC->RecordCount(), 7);
  for (Integer R = 0; R < 7; ++R) {
    auto* D = dynamic_cast<TvlCustomDataController*>(DC->GetDetailDataControllerByLinkObject(DC->GetDetailLinkObject(R, 0)));
    ASSERT_NE(D, nullptr);
    EXPECT_EQ(D->MasterRecordIndex(), R);
    EXPECT_EQ(DC->GetValue(R, 0), Variant(std::vector<Integer>{0, 1, 3, 4, 6, 8, 9}[R]));
  }
}

TEST(DataControllerNotify, BookmarkUpdateRecordEventsAndListeners) {
  TFixture F;
  F.AddColumn(ClassOf<TvlIntegerValueType>());
  F.Load({{1}, {2}, {3}});
  F.DC->SetFocusedRowIndex(1);
  F.View->Log.clear();
  F.DC->SaveBookmark();
  F.DC->SaveBookmark();
  EXPECT_EQ(F.View->Log, (std::vector<std::string>{"BookmarkChangedInfo"}));
  F.View->Log.clear();
  F.DC->DeleteRecord(1);  // the bookmarked record: dropped, one info
  Integer Bookmarks = 0;
  for (const std::string& L : F.View->Log) Bookmarks += L == "BookmarkChangedInfo";
  EXPECT_EQ(Bookmarks, 1);
  EXPECT_FALSE(F.DC->IsBookmarkAvailable());
  // Editing a focused record sends the update-record info alone.
  F.DC->SetFocusedRowIndex(0);
  F.View->Log.clear();
  F.DC->Edit();
  EXPECT_EQ(F.View->Log, (std::vector<std::string>{"UpdateRecordInfo"}));
  F.DC->Cancel();
  // Sorting and grouping events; a data-changed listener.
  TRecordingView Events;
  Events.Name = "changed";
  F.DC->SetOnSortingChanged(TNotifyEvent(&Events, &TRecordingView::Notify));
  F.DC->SetOnGroupingChanged(TNotifyEvent(&Events, &TRecordingView::Notify));
  F.DC->AddDataChangedListener(&Events, TNotifyEvent(&Events, &TRecordingView::Notify));
  F.DC->ChangeSorting(0, soAscending);
  F.DC->ChangeSorting(0, soAscending);  // unchanged: nothing
  EXPECT_EQ(Events.Log, (std::vector<std::string>{"changed"}));
  Events.Log.clear();
  F.DC->ChangeGrouping(0, 0);
  EXPECT_EQ(Events.Log, (std::vector<std::string>{"changed", "changed"}));  // data, then grouping
  F.DC->RemoveDataChangedListener(&Events, TNotifyEvent(&Events, &TRecordingView::Notify));
  Events.Log.clear();
  F.DC->SetValue(0, 0, 9);
  EXPECT_TRUE(Events.Log.empty());
}

TEST(DataControllerSummary, SortingByGroupSummaryRunsTheEngine) {
  std::unique_ptr<TSummarySortingController, TObjectFree> DC(New<TSummarySortingController>(nullptr));
  TComponentPtr A(New<TComponent>(nullptr)), B(New<TComponent>(nullptr));
  DC->AddItem(A.get())->SetValueTypeClass(ClassOf<TvlStringValueType>());
  DC->AddItem(B.get())->SetValueTypeClass(ClassOf<TvlIntegerValueType>());
  DC->SetRecordCount(3);
  DC->SetValue(0, 0, Variant(u"x"));
  DC->SetValue(1, 0, Variant(u"y"));
  DC->ChangeGrouping(0, 0);
  TvlDataSummaryItem* Sum = DC->Summary()->DefaultGroupSummaryItems()->Add(B.get(), spGroup, skSum);
  TvlDataSummaryItem* Count = DC->Summary()->DefaultGroupSummaryItems()->Add(nullptr, spGroup, skCount);
  TCountingEngine::Runs = 0;
  Sum->SetSorted(true);
  EXPECT_EQ(TCountingEngine::Runs, 1);
  Count->SetSorted(true);  // one sorted item per collection
  EXPECT_FALSE(Sum->Sorted());
  Count->SetSorted(false);
  Integer Runs = TCountingEngine::Runs;
  DC->Refresh();
  EXPECT_EQ(TCountingEngine::Runs, Runs);  // no sorted item: no engine
}

// Summary groups bound to grouping items; the other levels use the default
// group items. Group and footer values follow every change.
TEST(DataControllerSummary, SummaryGroupsLinkedToGroupingItems) {
  TPointDecimals Point;
  TFixture F;
  F.AddColumn(ClassOf<TvlStringValueType>());
  F.AddColumn(ClassOf<TvlStringValueType>());
  F.AddColumn(ClassOf<TvlFloatValueType>());
  F.Load({{u"A", u"x", 5.0}, {u"B", u"y", 1.0}, {u"A", u"y", 3.0}, {u"A", u"x", 4.0}});
  TvlDataSummary* S = F.DC->Summary();
  S->DefaultGroupSummaryItems()->Add(nullptr, spGroup, skCount);
  TvlDataSummaryGroup* Group = S->SummaryGroups()->Add();
  Group->Links()->Add()->SetItemLink(F.Columns[0].get());
  Group->SummaryItems()->Add(F.Columns[2].get(), spGroup, skSum);
  Group->SummaryItems()->Add(nullptr, spGroup, skCount);
  S->FooterSummaryItems()->Add(F.Columns[2].get(), spFooter, skSum);
  F.DC->ChangeGrouping(0, 0);
  F.DC->ChangeGrouping(1, 1);
  F.DC->FullExpand();
  // A, A/x, r0, r3, A/y, r2, B, B/y, r1
  EXPECT_EQ(S->SummaryGroups()->FindByItemLink(F.Columns[0].get()), Group);
  EXPECT_EQ(S->GetGroupSummaryItemsByLevel(0), Group->SummaryItems());
  EXPECT_EQ(S->GetGroupSummaryItemsByLevel(1), S->DefaultGroupSummaryItems());
  EXPECT_EQ(S->GroupSummaryText(0), u"(SUM=12.00, COUNT=3)");
  EXPECT_EQ(S->GroupSummaryText(1), u"(COUNT=2)");
  EXPECT_EQ(S->GroupSummaryText(6), u"(SUM=1.00, COUNT=1)");
  EXPECT_EQ(S->GroupSummaryText(2), u"(COUNT=2)");  // a data row: its group's
  EXPECT_EQ(S->GroupFooterSummaryTexts(2, 0, 0), u"12.00");
  EXPECT_EQ(S->FooterSummaryTexts(0), u"13.00");

  // A value change recalculates groups and footer and tells the view.
  F.View->Log.clear();
  F.DC->SetValue(3, 2, 6.0);
  EXPECT_EQ(S->GroupSummaryText(0), u"(SUM=14.00, COUNT=3)");
  EXPECT_EQ(S->FooterSummaryTexts(0), u"15.00");
  EXPECT_FALSE(F.View->Log.empty());
  // So does an item's kind; a format change only redraws.
  Group->SummaryItems()->Items(0)->SetKind(skMax);
  EXPECT_EQ(S->GroupSummaryText(0), u"(MAX=6.00, COUNT=3)");
  F.View->Log.clear();
  Group->SummaryItems()->SetSeparator(u";");
  Group->SummaryItems()->SetBeginText(u"[");
  EXPECT_EQ(S->GroupSummaryText(0), u"[MAX=6.00; COUNT=3)");
  EXPECT_EQ(F.View->Log, (std::vector<std::string>{"LayoutChangedInfo", "LayoutChangedInfo"}));

  // Linking the grouping item from a second group moves the link.
  TvlDataSummaryGroup* Second = S->SummaryGroups()->Add();
  Second->SummaryItems()->Add(F.Columns[2].get(), spGroup, skMin);
  Second->Links()->Add()->SetItemLink(F.Columns[0].get());
  EXPECT_EQ(Group->Links()->Items(0)->ItemLink(), nullptr);
  EXPECT_EQ(S->GroupSummaryText(0), u"(MIN=3.00)");
  // A link to the second level item: both levels have their own group.
  Group->Links()->Items(0)->SetItemLink(F.Columns[1].get());
  EXPECT_EQ(S->GroupSummaryText(1), u"[MAX=6.00; COUNT=2)");

  // A removed column leaves no item or link bound to its field.
  F.DC->RemoveItem(F.Columns[2].get());
  EXPECT_EQ(Second->SummaryItems()->Items(0)->Field(), nullptr);
  EXPECT_EQ(S->FooterSummaryItems()->Items(0)->Field(), nullptr);
  EXPECT_EQ(S->GroupSummaryText(0), u"(MIN=0.00)");  // not calculated: Empty, shown as 0
  F.DC->RemoveItem(F.Columns[1].get());
  EXPECT_EQ(Group->Links()->Items(0)->Field(), nullptr);
}

TEST(DataControllerSummary, DataItemSettingsAssignAndEvents) {
  TPointDecimals Point;
  TFixture F;
  F.AddColumn(ClassOf<TvlStringValueType>());
  F.AddColumn(ClassOf<TvlIntegerValueType>());
  F.Load({{u"A", 2}, {u"A", Null()}, {u"B", 4}});
  TvlDataSummary* S = F.DC->Summary();
  TvlDataSummaryItems* Footer = S->FooterSummaryItems();
  // Setting a data item makes the item; clearing every setting frees it.
  Footer->SetDataItemKind(1, spFooter, skSum);
  ASSERT_EQ(Footer->Count(), 1);
  EXPECT_EQ(Footer->Items(0)->Position(), spFooter);
  EXPECT_EQ(Footer->DataItemKind(1, spFooter), skSum);
  EXPECT_EQ(S->FooterSummaryTexts(0), u"6.00");
  Footer->SetDataItemFormat(1, spFooter, u"0");
  Footer->SetDataItemKind(1, spFooter, skNone);
  EXPECT_EQ(Footer->Count(), 1);  // the format keeps it
  Footer->SetDataItemFormat(1, spFooter, u"");
  EXPECT_EQ(Footer->Count(), 0);
  EXPECT_THROW(Footer->DataItemKind(5, spFooter), EvlInvalidDataControllerOperation);

  // OnGetText and OnSummary.
  TvlDataSummaryItem* Sum = Footer->Add(F.Columns[1].get(), spFooter, skSum);
  struct THandlers : TObject {
    void GetText(TvlDataSummaryItem*, const Variant&, Boolean AIsFooter, String& AText) {
      AText = (AIsFooter ? u"footer " : u"group ") + AText;
    }
    // Null counts as 10; record 2 is left out.
    void Summary(TvlDataSummaryItems*, const TvlSummaryEventArguments& A, TvlSummaryEventOutArguments& O) {
      if (VarIsNull(O.Value)) O.Value = 10;
      O.Done = A.RecordIndex == 2;
    }
  } H;
  Sum->SetOnGetText(TvlDataSummaryItemGetTextEvent(&H, &THandlers::GetText));
  EXPECT_EQ(S->FooterSummaryTexts(0), u"footer 6.00");
  Footer->SetOnSummary(TvlSummaryEvent(&H, &THandlers::Summary));
  S->Recalculate();
  EXPECT_EQ(S->FooterSummaryValues(0), Variant(12));
  // Values supplied from outside: nothing is recalculated meanwhile.
  S->SetSetCustomSummary(true);
  F.DC->SetValue(0, 1, 100);
  EXPECT_EQ(S->FooterSummaryValues(0), Variant(12));
  S->SetSetCustomSummary(false);
  S->Recalculate();
  EXPECT_EQ(S->FooterSummaryValues(0), Variant(110));

  // Published: a group item stores a footer position, a footer item never;
  // the group texts are stored when they differ from the defaults.
  TvlDataSummaryItem* GroupItem = S->DefaultGroupSummaryItems()->Add(nullptr, spGroup, skCount);
  EXPECT_FALSE(IsStoredProp(GroupItem, u"Position"));
  GroupItem->SetPosition(spFooter);
  EXPECT_TRUE(IsStoredProp(GroupItem, u"Position"));
  EXPECT_FALSE(IsStoredProp(Sum, u"Position"));
  EXPECT_EQ(GetOrdProp(Sum, u"Kind"), skSum);
  EXPECT_FALSE(IsStoredProp(S->DefaultGroupSummaryItems(), u"EndText"));
  Free(GroupItem);

  // Assign copies items, group texts and summary groups.
  TFixture G;
  G.AddColumn(ClassOf<TvlStringValueType>());
  G.AddColumn(ClassOf<TvlIntegerValueType>());
  G.Load({{u"A", 1}, {u"B", 3}});
  S->DefaultGroupSummaryItems()->SetEndText(u"]");
  TvlDataSummaryGroup* Group = S->SummaryGroups()->Add();
  Group->Links()->Add()->SetItemLink(F.Columns[0].get());
  Group->SummaryItems()->Add(F.Columns[1].get(), spGroup, skAverage);
  G.DC->Summary()->Assign(S);
  TvlDataSummary* T = G.DC->Summary();
  ASSERT_EQ(T->FooterSummaryItems()->Count(), 1);
  EXPECT_EQ(T->FooterSummaryItems()->Items(0)->ItemLink(), G.Columns[1].get());
  EXPECT_EQ(T->DefaultGroupSummaryItems()->EndText(), u"]");
  ASSERT_EQ(T->SummaryGroups()->Count(), 1);
  EXPECT_EQ(T->SummaryGroups()->Items(0)->Links()->Items(0)->ItemLink(), G.Columns[0].get());
  EXPECT_EQ(T->GetPatternSummaryItems(S, T->SummaryGroups()->Items(0)->SummaryItems()), Group->SummaryItems());
  G.DC->ChangeGrouping(0, 0);
  EXPECT_EQ(T->GroupSummaryText(1), u"(AVG=3.00)");
}

TEST(DataControllerSelection, RowIndexesFollowAnExpandingChange) {
  TFixture F;
  F.AddColumn(ClassOf<TvlStringValueType>());
  F.Load({{u"A"}, {u"B"}, {u"A"}, {u"B"}, {u"A"}});
  F.DC->SetMultiSelect(true);
  F.DC->ChangeGrouping(0, 0);
  F.DC->FullExpand();
  // A, r0, r2, r4, B, r1, r3
  F.DC->ChangeRowSelection(6, true);
  F.DC->ChangeRowSelection(2, true);
  F.DC->ChangeExpanding(0, false, false);  // A collapsed: its row goes, B's rows move up
  ASSERT_EQ(F.DC->GetSelectedCount(), 1);
  EXPECT_EQ(F.DC->GetSelectedRowIndex(0), 3);
  EXPECT_EQ(F.DC->GetRowInfo(3).RecordIndex, 3);
  F.DC->ChangeExpanding(0, true, false);
  EXPECT_EQ(F.DC->GetSelectedRowIndex(0), 6);
}

TEST(DataControllerMasterDetail, ForEachDetailPatternsAndRootOverTenMasters) {
  using TTreePtr = std::unique_ptr<TTreeController, TObjectFree>;
  TComponentPtr Item1(New<TComponent>(nullptr)), Item2(New<TComponent>(nullptr));
  TTreePtr M(New<TTreeController>(nullptr));
  M->NestedItem = Item2.get();
  M->AddItem(nullptr)->SetValueTypeClass(ClassOf<TvlIntegerValueType>());
  TTreePtr Pattern(New<TTreeController>(nullptr));
  Pattern->SetMasterMode(M->Relations()->Add(Item1.get()), true);
  TControllerPtr Pattern2(New<TvlCustomDataController>(nullptr));
  Pattern2->SetMasterMode(Pattern->Relations()->Add(Item2.get()), true);
  M->SetRecordCount(10);
  for (Integer R = 0; R < 10; ++R) M->SetValue(R, 0, R);
  // Details of every other master; the second level under masters 2 and 6.
  for (Integer R = 0; R < 10; R += 2) ASSERT_NE(M->GetDetailLinkObject(R, 0), nullptr);
  EXPECT_FALSE(M->IsDetailDataControllerExist(1, 0));
  for (Integer R : {6, 2}) {
    TvlCustomDataController* D = M->GetDetailDataController(R, 0);
    ASSERT_NE(D, nullptr);
    EXPECT_EQ(D->DetailMode(), dcdmClone);
    EXPECT_EQ(D->GetPatternDataController(), Pattern.get());
    for (Integer DR : {2, 0}) ASSERT_NE(D->GetDetailLinkObject(DR, 0), nullptr);
  }
  EXPECT_EQ(M->GetPatternDataController(), M.get());
  EXPECT_EQ(Pattern->DetailMode(), dcdmPattern);
  EXPECT_EQ(Pattern2->GetPatternDataController(), Pattern2.get());
  TvlCustomDataController* Leaf = M->GetDetailDataController(6, 0)->GetDetailDataController(2, 0);
  EXPECT_EQ(Leaf->GetRootDataController(), M.get());
  EXPECT_EQ(Leaf->GetPatternDataController(), Pattern2.get());
  EXPECT_TRUE(Leaf->IsPattern() == false && Leaf->IsDetailMode());

  // The walk visits existing details only, masters in record order.
  struct TVisits : TObject {
    std::vector<Integer> Values;
    void Visit(TvlCustomDataController* D) { Values.push_back(D->GetValue(0, 0).AsInteger()); }
  } V;
  M->ForEachDetail(M->Relations()->Items(0), TvlDataControllerEachDetailProc(&V, &TVisits::Visit));
  EXPECT_EQ(V.Values, (std::vector<Integer>{0, 20, 40, 60, 80}));
  V.Values.clear();
  Leaf->ForEachDetail(Pattern->Relations()->Items(0), TvlDataControllerEachDetailProc(&V, &TVisits::Visit));
  EXPECT_EQ(V.Values, (std::vector<Integer>{200, 220, 600, 620}));

  // A change of the pattern's relations drops the details of the
  // pattern's master (its clones are made again with the new relations).
  M->ClearDetailLinkObject(8, 0);
  EXPECT_FALSE(M->IsDetailDataControllerExist(8, 0));
  Pattern->Relations()->Items(0)->Changed();
  EXPECT_FALSE(M->IsDetailDataControllerExist(6, 0));
  EXPECT_FALSE(M->IsDetailDataControllerExist(0, 0));
  ASSERT_NE(M->GetDetailLinkObject(6, 0), nullptr);
  M->ClearDetailLinkObject(6, 0);
  EXPECT_FALSE(M->IsDetailDataControllerExist(6, 0));
  M->ChangeDetailExpanding(4, true);
  M->CollapseDetails();
  EXPECT_FALSE(M->GetDetailExpanding(4));
  EXPECT_FALSE(M->IsDetailDataControllerExist(4, 0));
}

TEST(DataControllerMasterDetail, DetailFocusAndActiveRelation) {
  TViewPtr View(New<TRecordingView>());
  std::unique_ptr<TTreeController, TObjectFree> M(New<TTreeController>(nullptr));
  TComponentPtr Item1(New<TComponent>(nullptr)), Item2(New<TComponent>(nullptr));
  M->AddItem(nullptr)->SetValueTypeClass(ClassOf<TvlIntegerValueType>());
  TControllerPtr P1(New<TvlCustomDataController>(nullptr)), P2(New<TvlCustomDataController>(nullptr));
  P1->SetMasterMode(M->Relations()->Add(Item1.get()), true);
  P2->SetMasterMode(M->Relations()->Add(Item2.get()), true);
  M->SetRecordCount(2);
  M->SetValue(1, 0, 5);
  EXPECT_EQ(M->GetDetailActiveRelationIndex(1), 0);
  M->ChangeDetailActiveRelationIndex(1, 1);
  EXPECT_EQ(M->GetDetailActiveRelationIndex(1), 1);
  M->FocusDetails(1);  // no detail yet: none is made
  EXPECT_FALSE(M->IsDetailDataControllerExist(1, 1));
  TvlCustomDataController* D = M->GetDetailDataController(1, 1);
  ASSERT_NE(D, nullptr);
  EXPECT_EQ(D->MasterRelation(), M->Relations()->Items(1));
  D->SetOnUpdateControl(TvlUpdateControlEvent(View.get(), &TRecordingView::Update));
  // The detail's focus was restored to a record (as a key restore does)
  // and the master asks the detail to put its focused row there.
  D->DataControllerInfo()->FocusingInfo()->RecordIndex = 2;
  M->FocusDetails(1);
  EXPECT_EQ(D->FocusedRowIndex(), 2);
  EXPECT_EQ(D->FocusedRecordIndex(), 2);
  ASSERT_FALSE(View->Log.empty());
  EXPECT_EQ(View->Log.front(), "FocusedRowChangedInfo -1->2");
}

TEST(DataControllerMasterDetail, DataChangeReferencesSuspendThePattern) {
  TComponentPtr Item(New<TComponent>(nullptr));
  TControllerPtr M(New<TvlCustomDataController>(nullptr)), P(New<TvlCustomDataController>(nullptr));
  P->SetMasterMode(M->Relations()->Add(Item.get()), true);
  EXPECT_TRUE(P->IsPattern());
  P->AddDataChangeRefCount();
  EXPECT_FALSE(P->IsPattern());
  EXPECT_EQ(P->DetailMode(), dcdmNone);
  EXPECT_NO_THROW(P->SetIsPattern(true));  // never refused
  P->RemoveDataChangeRefCount();
  P->RemoveDataChangeRefCount();  // never below zero
  EXPECT_TRUE(P->IsPattern());
  EXPECT_EQ(P->DataChangeRefCount(), 0);

  // A pattern without a master never loads its source; a reference makes
  // it load, releasing it makes it a pattern again with no records.
  TControllerPtr Q(New<TvlCustomDataController>(nullptr));
  Q->AddItem(nullptr)->SetValueTypeClass(ClassOf<TvlIntegerValueType>());
  Q->SetIsPattern(true);
  TTwoRecordSource* Source = New<TTwoRecordSource>();
  Q->SetCustomDataSource(Source);
  EXPECT_EQ(Q->RecordCount(), 0);
  Q->AddDataChangeRefCount();
  EXPECT_EQ(Q->RecordCount(), 2);
  EXPECT_EQ(Q->GetValue(1, 0), Variant(10));
  Q->RemoveDataChangeRefCount();
  EXPECT_TRUE(Q->IsPattern());
  EXPECT_EQ(Q->RecordCount(), 0);
  Free(Source);
}

TEST(DataControllerItems, FieldPreparationRestartsAfterADestroyedFieldAndWaitsForTheLock) {
  std::unique_ptr<TPreparingController, TObjectFree> DC(New<TPreparingController>(nullptr));
  std::vector<TComponentPtr> Items;
  for (Integer I = 0; I < 3; ++I) {
    Items.emplace_back(New<TComponent>(nullptr));
    DC->AddItem(Items.back().get())->SetValueTypeClass(ClassOf<TvlIntegerValueType>());
  }
  TTwoRecordSource* Source = New<TTwoRecordSource>();
  DC->SetCustomDataSource(Source);
  // Field 1 drops item 2: the pass stops and starts again over the fields
  // not yet prepared (the record-handles field is internal and comes last).
  DC->Prepared.clear();
  DC->DropOnce = Items[2].get();
  DC->LayoutChanged(0x01);
  EXPECT_EQ(DC->GetItemCount(), 2);
  EXPECT_EQ(DC->Prepared, (std::vector<Integer>{0, 1, 1, 2}));
  for (Integer I = 0; I < DC->Fields()->Count(); ++I) EXPECT_TRUE(DC->Fields()->Items(I)->Prepared());
  // Under the field lock nothing is prepared; the last unlock prepares once.
  DC->Prepared.clear();
  DC->BeginUpdateFields();
  DC->BeginUpdateFields();
  DC->LayoutChanged(0x01);
  DC->LayoutChanged(0x01);
  DC->EndUpdateFields();
  EXPECT_TRUE(DC->Prepared.empty());
  DC->EndUpdateFields();
  EXPECT_EQ(DC->Prepared, (std::vector<Integer>{0, 1, 2}));
  EXPECT_EQ(DC->RecordCount(), 2);
  Free(Source);
  EXPECT_THROW(DC->AddItem(Items[0].get()), EvlInvalidDataControllerOperation);
}

TEST(DataControllerItems, ItemPropertiesTextStoredIndexesAndExtraFilters) {
  TFixture F;
  F.AddColumn(ClassOf<TvlIntegerValueType>());
  F.AddColumn(ClassOf<TvlStringValueType>());
  F.Load({{2, u"b"}, {1, u"a"}});
  EXPECT_EQ(F.DC->AddItem(nullptr)->Item(), nullptr);  // a nil item: an unlinked field
  // Only a sorted or grouped item (or -1) refreshes.
  EXPECT_FALSE(F.DC->ItemPropertiesChanged(0));
  EXPECT_TRUE(F.View->Log.empty());
  F.DC->ChangeSorting(0, soAscending);
  F.View->Log.clear();
  EXPECT_TRUE(F.DC->ItemPropertiesChanged(0));
  EXPECT_FALSE(F.View->Log.empty());
  EXPECT_TRUE(F.DC->ItemPropertiesChanged(-1));
  // Text stored: the definition gets its text slot, the values stay.
  F.DC->ChangeTextStored(1, true);
  EXPECT_TRUE(F.DC->GetItemTextStored(1));
  EXPECT_TRUE(F.DC->IsDisplayFormatDefined(1, false));
  EXPECT_EQ(F.DC->GetValue(1, 1), Variant(u"a"));
  F.DC->ChangeTextStored(1, false);
  EXPECT_EQ(F.DC->GetValue(0, 1), Variant(u"b"));
  EXPECT_THROW(F.DC->ChangeTextStored(7, true), EvlInvalidDataControllerOperation);
  // The item fields follow the items' order.
  F.DC->Fields()->Move(0, 1);
  EXPECT_EQ(F.DC->GetItem(0), F.Columns[1].get());
  // An extra filter belongs to the controller.
  TvlDataFilterCriteria* Extra = F.DC->CreateFilter();
  EXPECT_TRUE(F.DC->ExtraFilters()->Contains(Extra));
  EXPECT_EQ(Extra->DataController(), static_cast<IvlDataController*>(F.DC.get()));
}

TEST(DataControllerMasterDetail, ClonesShareTheirPatternsDataSource) {
  TComponentPtr Item(New<TComponent>(nullptr));
  std::unique_ptr<TTreeController, TObjectFree> M(New<TTreeController>(nullptr));
  M->SourcedClones = true;
  M->AddItem(nullptr)->SetValueTypeClass(ClassOf<TvlIntegerValueType>());
  M->SetRecordCount(5);
  TControllerPtr P(New<TvlCustomDataController>(nullptr));
  P->AddItem(nullptr)->SetValueTypeClass(ClassOf<TvlIntegerValueType>());
  P->SetMasterMode(M->Relations()->Add(Item.get()), true);
  TDetailSource* Source = New<TDetailSource>();
  P->SetCustomDataSource(Source);
  EXPECT_EQ(P->RecordCount(), 0);  // a pattern loads nothing
  TvlCustomDataController* D3 = M->GetDetailDataController(3, 0);
  TvlCustomDataController* D1 = M->GetDetailDataController(1, 0);
  ASSERT_TRUE(D3 && D1);
  EXPECT_EQ(D3->CustomDataSource(), Source);
  EXPECT_EQ(Source->ProviderCount(), 3);
  ASSERT_EQ(D3->RecordCount(), 4);
  ASSERT_EQ(D1->RecordCount(), 2);
  // Each call is answered for the controller that asks.
  EXPECT_EQ(D3->GetValue(2, 0), Variant(32));
  EXPECT_EQ(D1->GetValue(1, 0), Variant(11));
  EXPECT_EQ(D3->GetValue(3, 0), Variant(33));
  EXPECT_EQ(P->CustomDataSource(), Source);  // the pattern keeps it
  M->ClearDetailLinkObject(1, 0);  // the clone goes and lets go of the source
  EXPECT_EQ(Source->ProviderCount(), 2);
  Free(Source);  // everyone lets go
  EXPECT_FALSE(P->IsProviderMode());
  EXPECT_FALSE(D3->IsProviderMode());
  EXPECT_EQ(D3->RecordCount(), 0);
}

TEST(DataControllerMasterDetail, HasChildrenAskedOncePerRecordUntilReset) {
  TComponentPtr Item(New<TComponent>(nullptr));
  TControllerPtr M(New<TvlCustomDataController>(nullptr)), P(New<TvlCustomDataController>(nullptr));
  M->AddItem(nullptr)->SetValueTypeClass(ClassOf<TvlIntegerValueType>());
  P->SetMasterMode(M->Relations()->Add(Item.get()), true);
  THasChildrenSource* Source = New<THasChildrenSource>();
  M->SetCustomDataSource(Source);
  ASSERT_EQ(M->RecordCount(), 2);
  EXPECT_TRUE(M->GetDetailHasChildren(0, 0));
  EXPECT_TRUE(M->GetDetailHasChildren(0, 0));
  EXPECT_FALSE(M->GetDetailHasChildren(1, 0));
  EXPECT_EQ(Source->Asked, 2);
  M->ResetHasChildrenFlag();
  EXPECT_TRUE(M->GetDetailHasChildren(0, 0));
  EXPECT_EQ(Source->Asked, 3);
  Free(Source);
}

TEST(DataControllerMasterDetail, ExpandingEventsRefusalAndLockedMaster) {
  TComponentPtr Item(New<TComponent>(nullptr)), Nested(New<TComponent>(nullptr));
  std::unique_ptr<TTreeController, TObjectFree> M(New<TTreeController>(nullptr));
  M->NestedItem = Nested.get();
  M->AddItem(nullptr)->SetValueTypeClass(ClassOf<TvlIntegerValueType>());
  TControllerPtr P(New<TvlCustomDataController>(nullptr)), P2(New<TvlCustomDataController>(nullptr));
  P->SetMasterMode(M->Relations()->Add(Item.get()), true);
  P2->SetMasterMode(P->Relations()->Add(Nested.get()), true);
  M->SetRecordCount(3);
  for (Integer R = 0; R < 3; ++R) M->SetValue(R, 0, R);
  struct TEvents : TObject {
    std::vector<std::string> Log;
    Boolean Allow{true};
    void Asking(TvlCustomDataController*, Integer R, Boolean& AAllow) {
      Log.push_back("asking " + std::to_string(R));
      AAllow = Allow;
    }
    void Done(TvlCustomDataController*, Integer R) { Log.push_back("done " + std::to_string(R)); }
  } E;
  M->SetOnDetailExpanding(TvlDataDetailExpandingEvent(&E, &TEvents::Asking));
  M->SetOnDetailCollapsing(TvlDataDetailExpandingEvent(&E, &TEvents::Asking));
  M->SetOnDetailExpanded(TvlDataDetailExpandedEvent(&E, &TEvents::Done));
  M->SetOnDetailCollapsed(TvlDataDetailExpandedEvent(&E, &TEvents::Done));
  E.Allow = false;
  EXPECT_FALSE(M->ChangeDetailExpanding(1, true));
  EXPECT_FALSE(M->GetDetailExpanding(1));
  E.Allow = true;
  EXPECT_TRUE(M->ChangeDetailExpanding(1, true));
  EXPECT_TRUE(M->ChangeDetailExpanding(1, true));  // already: no events
  EXPECT_TRUE(M->ChangeDetailExpanding(1, false));
  EXPECT_EQ(E.Log, (std::vector<std::string>{"asking 1", "asking 1", "done 1", "asking 1", "done 1"}));
  // A detail expanding under a locked master sends no detail change.
  TvlCustomDataController* D = M->GetDetailDataController(1, 0);
  ASSERT_NE(D, nullptr);
  TViewPtr View(New<TRecordingView>());
  D->SetOnUpdateControl(TvlUpdateControlEvent(View.get(), &TRecordingView::Update));
  M->BeginUpdate();
  EXPECT_TRUE(D->ChangeDetailExpanding(0, true));
  EXPECT_TRUE(View->Log.empty());
  M->EndUpdate();
  EXPECT_TRUE(D->ChangeDetailExpanding(0, false));
  EXPECT_EQ(View->Log, (std::vector<std::string>{"LayoutChangedInfo"}));
  D->SetOnUpdateControl(TvlUpdateControlEvent());
}

}  // namespace

// Assign takes the options, the filter, the summary and the handlers of
// another controller over the same items; the view's update handler stays.
TEST(DataControllerAssign, OptionsFilterSummaryAndHandlers) {
  TFixture Src;
  Src.AddColumn(ClassOf<TvlIntegerValueType>());
  Src.AddColumn(ClassOf<TvlIntegerValueType>());
  Src.Load({{1, 10}, {2, 20}});
  Src.DC->SetOptions({dcoAnsiSort, dcoGroupsAlwaysExpanded});
  Src.DC->Filter()->AddItem(nullptr, Src.DC->GetItemField(0), foEqual, Variant(1), u"one");
  Src.DC->Filter()->SetActive(true);
  Src.DC->Summary()->FooterSummaryItems()->Add(Src.Columns[1].get(), spFooter, skSum);
  Src.DC->Summary()->SetOptions({soSelectedRecords});
  TRecordingView H;
  Src.DC->SetOnBeforeInsert(TvlDataControllerNotifyEvent(&H, &TRecordingView::Event));
  Src.DC->SetOnBeforeCancel(TvlDataControllerNotifyEvent(&H, &TRecordingView::Event));
  Src.DC->SetOnAfterDelete(TvlDataControllerNotifyEvent(&H, &TRecordingView::Event));
  Src.DC->SetOnBeforeDelete(TvlDataDetailExpandedEvent(&H, &TRecordingView::EventR));
  Src.DC->SetOnRecordChanged(TvlDataRecordChangedEvent(&H, &TRecordingView::EventRI));
  Src.DC->SetOnSortingChanged(TNotifyEvent(&H, &TRecordingView::Notify));

  TControllerPtr Dst{New<TvlCustomDataController>(nullptr)};
  TViewPtr DstView{New<TRecordingView>()};
  Dst->SetOnUpdateControl(TvlUpdateControlEvent(DstView.get(), &TRecordingView::Update));
  for (auto& C : Src.Columns) Dst->AddItem(C.get())->SetValueTypeClass(ClassOf<TvlIntegerValueType>());
  Dst->SetRecordCount(3);
  for (Integer R = 0; R < 3; ++R) Dst->SetValue(R, 0, Integer(R % 2 ? 2 : 1));
  Dst->Assign(Src.DC.get());

  EXPECT_EQ(Dst->Options(), (TvlDataControllerOptions{dcoAnsiSort, dcoGroupsAlwaysExpanded}));
  EXPECT_EQ(Dst->Options().ToString(), u"[dcoAnsiSort,dcoGroupsAlwaysExpanded]");
  EXPECT_EQ(Dst->Filter()->FilterText(), Src.DC->Filter()->FilterText());
  EXPECT_EQ(Dst->GetRowCount(), 2);  // records 0 and 2 hold 1
  EXPECT_EQ(Dst->Summary()->FooterSummaryItems()->Count(), 1);
  EXPECT_EQ(Dst->Summary()->Options(), TvlSummaryOptions{soSelectedRecords});
  EXPECT_EQ(Dst->OnUpdateControl(), TvlUpdateControlEvent(DstView.get(), &TRecordingView::Update));
  EXPECT_FALSE(DstView->Log.empty());  // the assigned filter reached the destination's view

  H.Name = "event";
  Dst->SetFocusedRecordIndex(0);
  Dst->Insert();
  Dst->Cancel();
  Dst->SetValue(2, 1, 7);
  Dst->DeleteFocused();
  EXPECT_EQ(H.Log, (std::vector<std::string>{"event", "event", "event 2 1", "event 0", "event"}));
  // Only controllers are taken.
  TComponentPtr Other{New<TComponent>(nullptr)};
  EXPECT_THROW(Dst->Assign(Other.get()), Exception);
}

// Both selected-records options set at once: the one just added wins.
TEST(DataControllerSummary, SelectedRecordsOptionsExcludeEachOther) {
  TFixture F;
  F.AddColumn(ClassOf<TvlIntegerValueType>());
  TvlDataSummary* S = F.DC->Summary();
  EXPECT_EQ(S->Options(), TvlSummaryOptions{soNullIgnore});
  struct TCase {
    TvlSummaryOptions From, Set, Want;
  } Cases[] = {
      {{soSelectedRecords}, {soSelectedRecords, soMultipleSelectedRecords}, {soMultipleSelectedRecords}},
      {{soMultipleSelectedRecords}, {soSelectedRecords, soMultipleSelectedRecords}, {soSelectedRecords}},
      {{}, {soNullIgnore, soSelectedRecords, soMultipleSelectedRecords}, {soNullIgnore, soMultipleSelectedRecords}},
  };
  for (const TCase& C : Cases) {
    S->SetOptions(C.From);
    S->SetOptions(C.Set);
    EXPECT_EQ(S->Options(), C.Want);
  }
  EXPECT_EQ(GetPropValue(S, u"Options"), Variant(u"soNullIgnore,soMultipleSelectedRecords"));
}

// A weak link held by a running operation learns that its controller went.
TEST(DataControllerItems, ListenerLinksSeeTheControllerGo) {
  auto* DC = New<TvlCustomDataController>(nullptr);
  TvlDataListenerLink* Kept = DC->AddListenerLink();
  TvlDataListenerLink* Returned = DC->AddListenerLink();
  EXPECT_EQ(Kept->Ref, DC);
  DC->RemoveListenerLink(Returned);
  delete Returned;
  Free(DC);
  EXPECT_EQ(Kept->Ref, nullptr);
  delete Kept;
}

// A money sum past the currency range raises an overflow (never wraps to a
// wrong total), and the next calculation after the values change is right.
TEST(DataControllerSummary, MoneyOverflowRaisesAndRecovers) {
  SetSystemLocale(TSystemLocale::EnglishUS);
  TFixture F;
  F.AddColumn(ClassOf<TvlIntegerValueType>());
  F.AddColumn(ClassOf<TvlCurrencyValueType>());
  F.Load({{1, Variant(Currency::FromRaw(INT64_MAX))}, {1, Variant(Currency::FromRaw(1))}});
  EXPECT_THROW(F.DC->Summary()->FooterSummaryItems()->Add(F.Columns[1].get(), spFooter, skSum), Exception);
  F.DC->SetValue(1, 1, Variant(Currency::FromRaw(-1)));
  EXPECT_EQ(F.DC->Summary()->FooterSummaryTexts(0), u"$922,337,203,685,477.58");
  F.DC->SetValue(0, 1, Variant(Currency::FromRaw(20000)));
  EXPECT_EQ(F.DC->Summary()->FooterSummaryTexts(0), u"$2.00");
  SetSystemLocale(SystemLocaleFromSetting(nullptr));
}
