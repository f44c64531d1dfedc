#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "lib/data/vlDataController.h"
#include "lib/data/vlDataControllerKeys.h"
#include "lib/data/vlValueTypes.h"
#include "platform/classes/Classes.h"
#include "platform/rtl/Finally.h"
#include "platform/rtl/Variants.h"

// Records whose first item is the key; Reload replaces them all, the old
// records staying readable until the controller loads the new ones.
class TKeySource : public TvlCustomDataSource {
  CL_CLASS(TKeySource, TvlCustomDataSource)
 public:
  std::vector<Integer> Keys, Pending;
  Integer GetRecordCount() override {
    if (!Pending.empty()) Keys.swap(Pending);
    Pending.clear();
    return static_cast<Integer>(Keys.size());
  }
  Variant GetValue(TRecordHandle H, Integer) override { return Variant(Keys[H]); }
  void Reload(const std::vector<Integer>& AKeys) {
    Pending = AKeys;
    DataChanged();
  }
};
CL_IMPLEMENT_CLASS(TKeySource)

// A controller whose records are found again by the value of its first
// item; a detail item's link object is another such controller, filled
// with the rows the test gives for the master key.
class TKeyedController : public TvlCustomDataController {
  CL_CLASS(TKeyedController, TvlCustomDataController)
 public:
  Boolean FindByKey{true};
  // Whether a reload by itself keeps the keys (a data-set controller's does).
  Boolean KeepKeysOnLoad{true};
  std::vector<TComponent*> Owned;
  TvlCustomDataController* Pattern{};
  void Destroy() override {
    Free(Pattern);
    inherited::Destroy();
    for (TComponent* C : Owned) Free(C);
  }
  void GetKeyFields(std::vector<TvlCustomDataField*>& AList) override {
    if (GetItemCount() > 0) AList.push_back(GetItemField(0));
  }
  Boolean CanFindRecordsByKey() override { return FindByKey; }
  // A reload keeps expansion and selection by key, as a data-set
  // controller's does.
  void LoadStorage() override {
    if (!KeepKeysOnLoad) return inherited::LoadStorage();
    SaveKeys();
    Finally Done([&] { RestoreKeys(); });
    inherited::LoadStorage();
  }
  // Adds a key column and a detail relation.
  void Setup() {
    Owned.push_back(New<TComponent>(nullptr));
    AddItem(Owned.back())->SetValueTypeClass(ClassOf<TvlIntegerValueType>());
    Owned.push_back(New<TComponent>(nullptr));
    SetOnDetailExpanding(TvlDataDetailExpandingEvent(this, &TKeyedController::Expanding));
    Pattern = New<TvlCustomDataController>(nullptr);
    Pattern->SetMasterMode(Relations()->Add(Owned.back()), true);
  }
  // As a view does: expanding a record makes its detail view.
  void Expanding(TvlCustomDataController*, Integer ARecordIndex, Boolean&) {
    GetDetailLinkObject(ARecordIndex, GetDetailActiveRelationIndex(ARecordIndex));
  }
  void Load(const std::vector<Integer>& AKeys) {
    BeginUpdate();
    SetRecordCount(0);
    SetRecordCount(static_cast<Integer>(AKeys.size()));
    for (Integer R = 0; R < static_cast<Integer>(AKeys.size()); ++R) SetValue(R, 0, AKeys[R]);
    EndUpdate();
  }
  TObject* CreateDetailLinkObject(TvlCustomDataRelation* ARelation, Integer ARecordIndex) override {
    auto* D = New<TKeyedController>(nullptr);
    D->Setup();
    D->SetMasterRelation(ARelation, ARecordIndex);
    // Detail rows: ten times the master key plus one to three.
    const Integer K = GetValue(ARecordIndex, 0).AsInteger();
    D->Load({K * 10 + 1, K * 10 + 2, K * 10 + 3});
    return D;
  }
  IvlDataController* GetDetailDataControllerByLinkObject(TObject* ALinkObject) override {
    return dynamic_cast<TvlCustomDataController*>(ALinkObject);
  }
  TKeyedController* Detail(Integer ARecordIndex) {
    return dynamic_cast<TKeyedController*>(GetDetailLinkObject(ARecordIndex, 0));
  }
  Integer IndexOfKey(Integer AKey) {
    for (Integer R = 0; R < RecordCount(); ++R)
      if (GetValue(R, 0).AsInteger() == AKey) return R;
    return -1;
  }
  std::vector<Integer> SelectedKeys() {
    std::vector<Integer> Result;
    for (Integer I = 0; I < GetSelectedCount(); ++I)
      Result.push_back(GetValue(GetRowInfo(GetSelectedRowIndex(I)).RecordIndex, 0).AsInteger());
    std::sort(Result.begin(), Result.end());
    return Result;
  }
  std::vector<Integer> ExpandedKeys() {
    std::vector<Integer> Result;
    for (Integer R = 0; R < RecordCount(); ++R)
      if (GetDetailExpanding(R)) Result.push_back(GetValue(R, 0).AsInteger());
    std::sort(Result.begin(), Result.end());
    return Result;
  }
};
CL_IMPLEMENT_CLASS(TKeyedController)

namespace {

using TKeyedPtr = std::unique_ptr<TKeyedController, TObjectFree>;
using TComponentPtr = std::unique_ptr<TComponent, TObjectFree>;
using TSourcePtr = std::unique_ptr<TKeySource, TObjectFree>;

// A master in provider mode, fed by a source.
struct TMaster {
  TSourcePtr Source{New<TKeySource>()};
  TKeyedPtr DC{New<TKeyedController>(nullptr)};
  explicit TMaster(const std::vector<Integer>& AKeys) {
    DC->Setup();
    DC->SetMultiSelect(true);
    Source->Keys = AKeys;
    DC->SetCustomDataSource(Source.get());
  }
  ~TMaster() { DC->SetCustomDataSource(nullptr); }
};

// A source whose deletes reload the controller (the records after the
// deleted one move up).
class TDeletingSource : public TKeySource {
  CL_CLASS(TDeletingSource, TKeySource)
 public:
  void DeleteRecord(TRecordHandle H) override {
    Keys.erase(Keys.begin() + H);
    DataChanged();
  }
};

void SelectAndExpand(TKeyedController* DC, const std::vector<Integer>& ASelected,
                     const std::vector<Integer>& AExpanded) {
  for (Integer K : ASelected) DC->ChangeRowSelection(DC->GetRowIndexByRecordIndex(DC->IndexOfKey(K), true), true);
  for (Integer K : AExpanded) ASSERT_TRUE(DC->ChangeDetailExpanding(DC->IndexOfKey(K), true));
}

}  // namespace

TEST(DataControllerKeys, SelectionAndExpansionFollowKeysAcrossAReload) {
  struct TCase {
    std::vector<Integer> Before, Selected, Expanded, After, WantSelected, WantExpanded;
  };
  const TCase Cases[] = {
      // Same records in another order.
      {{1, 2, 3, 4, 5}, {2, 4}, {1, 5}, {5, 4, 3, 2, 1}, {2, 4}, {1, 5}},
      // Records inserted before and between, one selected and one expanded deleted.
      {{1, 2, 3, 4, 5}, {2, 3, 5}, {1, 4}, {9, 1, 7, 2, 5, 8}, {2, 5}, {1}},
      // Fewer records: a selected key now past the old count's end.
      {{1, 2, 3, 4, 5}, {5}, {5}, {5, 1}, {5}, {5}},
      // Every saved record gone.
      {{1, 2, 3}, {1, 3}, {2}, {4, 5}, {}, {}},
      // Nothing saved: the new records stay plain.
      {{1, 2, 3}, {}, {}, {3, 2, 1, 0}, {}, {}},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(testing::PrintToString(C.After));
    TMaster M(C.Before);
    SelectAndExpand(M.DC.get(), C.Selected, C.Expanded);
    M.Source->Reload(C.After);
    EXPECT_EQ(M.DC->SelectedKeys(), C.WantSelected);
    EXPECT_EQ(M.DC->ExpandedKeys(), C.WantExpanded);
    for (Integer K : C.WantExpanded) EXPECT_NE(M.DC->Detail(M.DC->IndexOfKey(K)), nullptr);
  }
}

TEST(DataControllerKeys, KeysSortedFoundInOrderAndSavesCounted) {
  TMaster M({30, 10, 20});
  SelectAndExpand(M.DC.get(), {30, 10}, {});
  TvlSaveObject* S = New<TvlSaveObject>();
  S->Save(M.DC.get());
  ASSERT_EQ(S->SelectedKeys()->Count(), 2);
  EXPECT_EQ(S->SelectedKeys()->Items(0)->Key, Variant(10));
  EXPECT_EQ(S->SelectedKeys()->Items(1)->Key, Variant(30));
  Integer K = -2;
  EXPECT_TRUE(S->SelectedKeys()->FindKey(0, K));
  EXPECT_EQ(K, 1);
  EXPECT_FALSE(S->SelectedKeys()->FindKey(2, K));
  EXPECT_EQ(K, -1);
  Free(S);
  // Nested brackets restore once, at the last restore: the reload's own
  // bracket inside them does nothing.
  M.DC->SaveKeys();
  M.DC->SaveKeys();
  M.Source->Reload({20, 30});
  M.DC->RestoreKeys();
  M.DC->RestoreKeys();
  M.DC->RestoreKeys();  // unmatched: ignored
  EXPECT_EQ(M.DC->SelectedKeys(), (std::vector<Integer>{30}));
}

TEST(DataControllerKeys, WithoutFindingByKeyOnlyEntriesPastTheEndAreDropped) {
  TMaster M({1, 2, 3, 4});
  M.DC->FindByKey = false;
  SelectAndExpand(M.DC.get(), {1, 4}, {});
  M.Source->Reload({7, 8, 9});
  // Record 0 stays selected by index (now key 7); record 3 is gone.
  EXPECT_EQ(M.DC->SelectedKeys(), (std::vector<Integer>{7}));
}

TEST(DataControllerKeys, NestedDetailsKeepTheirExpansion) {
  TMaster M({1, 2, 3});
  SelectAndExpand(M.DC.get(), {}, {2, 3});
  TKeyedController* D2 = M.DC->Detail(M.DC->IndexOfKey(2));
  ASSERT_NE(D2, nullptr);
  SelectAndExpand(D2, {}, {23});
  M.Source->Reload({3, 4, 2});
  EXPECT_EQ(M.DC->ExpandedKeys(), (std::vector<Integer>{2, 3}));
  D2 = M.DC->Detail(M.DC->IndexOfKey(2));
  ASSERT_NE(D2, nullptr);
  EXPECT_EQ(D2->ExpandedKeys(), (std::vector<Integer>{23}));
  TKeyedController* D23 = D2->Detail(D2->IndexOfKey(23));
  ASSERT_NE(D23, nullptr);
  EXPECT_EQ(D23->GetValue(0, 0), Variant(231));
  EXPECT_EQ(M.DC->Detail(M.DC->IndexOfKey(3))->ExpandedKeys(), (std::vector<Integer>{}));
}

// Values for the locate objects' internal record, one per item.
class TItemReader : public TvlValueDefReader {
  CL_CLASS(TItemReader, TvlValueDefReader)
 public:
  TvlCustomDataController* DC{};
  std::vector<Variant> Values;
  Variant GetValue(TvlValueDef* AValueDef) override {
    for (Integer I = 0; I < static_cast<Integer>(Values.size()); ++I)
      if (DC->GetItemField(I)->ValueDef() == AValueDef) return Values[I];
    return Null();
  }
};
CL_IMPLEMENT_CLASS(TItemReader)

TEST(DataControllerLocate, KeyLocateByOneAndSeveralFieldsWithNullAndTurkishText) {
  TKeyedPtr DC(New<TKeyedController>(nullptr));
  DC->Setup();
  TComponentPtr TextItem(New<TComponent>(nullptr));
  DC->AddItem(TextItem.get())->SetValueTypeClass(ClassOf<TvlStringValueType>());
  const std::vector<std::vector<Variant>> Rows = {
      {1, String(u"İzmir")}, {2, String(u"izmir")}, {Null(), String(u"ı")}, {2, String(u"Izmir")}, {Null(), Null()}};
  DC->SetRecordCount(static_cast<Integer>(Rows.size()));
  for (Integer R = 0; R < static_cast<Integer>(Rows.size()); ++R)
    for (Integer C = 0; C < 2; ++C) DC->SetValue(R, C, Rows[R][C]);

  struct TCase {
    std::vector<Integer> Items;
    std::vector<Variant> Values;  // one per item of the controller
    Integer Want;
  };
  const TCase Cases[] = {
      {{0}, {2, Null()}, 1},
      {{0}, {Null(), Null()}, 2},
      {{0}, {3, Null()}, -1},
      {{1}, {Null(), String(u"ı")}, 2},
      {{1}, {Null(), String(u"IZMIR")}, -1},
      {{1}, {Null(), String(u"İzmir")}, 0},
      {{0, 1}, {2, String(u"Izmir")}, 3},
      {{0, 1}, {Null(), Null()}, 4},
      {{0, 1}, {1, String(u"izmir")}, -1},
  };
  auto* L = New<TvlDataControllerKeyLocateObject>(DC.get());
  auto* Reader = New<TItemReader>();
  Reader->DC = DC.get();
  L->AddField(DC->GetItemField(0));
  EXPECT_EQ(L->FindRecordIndex(), -1);  // nothing read yet
  for (const TCase& C : Cases) {
    SCOPED_TRACE(testing::PrintToString(C.Want));
    L->ClearFields();
    for (Integer I : C.Items) L->AddField(DC->GetItemField(I));
    Reader->Values = C.Values;
    L->ReadData(Reader);
    EXPECT_LT(L->InternalRecordIndex(), 0);
    EXPECT_EQ(L->FindRecordIndex(), C.Want);
  }
  L->Clear();
  EXPECT_EQ(L->InternalRecordIndex(), 0);
  EXPECT_EQ(L->FindRecordIndex(), -1);
  EXPECT_EQ(DC->RecordCount(), 5);
  Free(Reader);
  Free(L);
}

TEST(DataControllerLocate, GroupLocateByLevelValues) {
  TKeyedPtr DC(New<TKeyedController>(nullptr));
  DC->Setup();
  TComponentPtr TextItem(New<TComponent>(nullptr));
  DC->AddItem(TextItem.get())->SetValueTypeClass(ClassOf<TvlStringValueType>());
  const std::vector<std::vector<Variant>> Rows = {{2, String(u"ı")},    {1, String(u"İzmir")}, {Null(), String(u"a")},
                                                  {2, String(u"Izmir")}, {1, Null()},          {2, String(u"ı")}};
  DC->SetRecordCount(static_cast<Integer>(Rows.size()));
  for (Integer R = 0; R < static_cast<Integer>(Rows.size()); ++R)
    for (Integer C = 0; C < 2; ++C) DC->SetValue(R, C, Rows[R][C]);
  DC->ChangeGrouping(0, 0);
  DC->ChangeGrouping(1, 1);
  DC->Refresh();

  struct TCase {
    Integer Level;
    std::vector<Variant> Values;
    std::vector<Integer> Want;  // any record with these group values
  };
  const TCase Cases[] = {
      {0, {2, Null()}, {0, 3, 5}},
      {0, {Null(), String(u"x")}, {2}},
      {0, {3, Null()}, {}},
      {1, {2, String(u"ı")}, {0, 5}},
      {1, {2, String(u"Izmir")}, {3}},
      {1, {1, Null()}, {4}},
      {1, {1, String(u"izmir")}, {}},
      {1, {Null(), String(u"a")}, {2}},
  };
  auto* Reader = New<TItemReader>();
  Reader->DC = DC.get();
  auto* L = New<TvlDataControllerGroupLocateObject>(DC.get());
  EXPECT_TRUE(L->IsGroupDataSorted());
  EXPECT_EQ(L->FindRecordIndex(), -1);
  for (const TCase& C : Cases) {
    SCOPED_TRACE(testing::PrintToString(C.Want));
    L->SetLevel(C.Level);
    Reader->Values = C.Values;
    L->ReadData(Reader);
    const Integer R = L->FindRecordIndex();
    if (C.Want.empty())
      EXPECT_EQ(R, -1);
    else
      EXPECT_NE(std::find(C.Want.begin(), C.Want.end(), R), C.Want.end()) << R;
  }
  L->SetLevel(2);  // deeper than the grouping
  EXPECT_EQ(L->FindRecordIndex(), -1);
  Free(L);
  Free(Reader);
}

CL_IMPLEMENT_CLASS(TDeletingSource)

// A delete in provider mode keeps the expanded details on their keys while
// the source reloads, for one record and for a selection.
TEST(DataControllerKeys, ProviderModeDeletesKeepExpansionByKey) {
  for (const Boolean Selection : {false, true}) {
    SCOPED_TRACE(Selection ? "selection" : "focused");
    std::unique_ptr<TDeletingSource, TObjectFree> Source(New<TDeletingSource>());
    TKeyedPtr DC(New<TKeyedController>(nullptr));
    DC->KeepKeysOnLoad = false;
    DC->Setup();
    DC->SetMultiSelect(true);
    Source->Keys = {1, 2, 3, 4, 5};
    DC->SetCustomDataSource(Source.get());
    ASSERT_TRUE(DC->ChangeDetailExpanding(DC->IndexOfKey(4), true));
    DC->SetFocusedRecordIndex(DC->IndexOfKey(2));
    if (Selection) {
      DC->ChangeRowSelection(DC->GetRowIndexByRecordIndex(DC->IndexOfKey(1), true), true);
      DC->ChangeRowSelection(DC->GetRowIndexByRecordIndex(DC->IndexOfKey(2), true), true);
      DC->DeleteSelection();
      EXPECT_EQ(Source->Keys, (std::vector<Integer>{3, 4, 5}));
    } else {
      DC->DeleteFocused();
      EXPECT_EQ(Source->Keys, (std::vector<Integer>{1, 3, 4, 5}));
    }
    EXPECT_EQ(DC->ExpandedKeys(), std::vector<Integer>{4});
    EXPECT_NE(DC->Detail(DC->IndexOfKey(4)), nullptr);
    DC->SetCustomDataSource(nullptr);
  }
}
