#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "lib/data/vlDBData.h"
#include "tests/lib/data/LogTestDatabase.h"
#include "platform/db/ADODB.h"
#include "platform/db/LogDatabase.h"
#include "platform/db/MemData.h"
#include "platform/rtl/CodePages.h"
#include "platform/rtl/Conversions.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/Variants.h"
#include "tests/support/TestSupport.h"

namespace {

using TComponentPtr = std::unique_ptr<TComponent, TObjectFree>;

Integer VarToInt(const Variant& V) { return StrToInt(VarToStr(V)); }

// A view over a data set: a controller with one item per field.
struct TView {
  TvlDBDataController* DC{};
  std::vector<TComponentPtr> Columns;
  TView(TDataSource* ASource, std::initializer_list<const char16_t*> AFields, const String& AKeys = u"") {
    DC = New<TvlDBDataController>(nullptr);
    for (const char16_t* Name : AFields) {
      Columns.emplace_back(New<TComponent>(nullptr));
      DC->AddItemForField(Columns.back().get(), Name);
    }
    DC->SetKeyFieldNames(AKeys);
    DC->SetDataSource(ASource);
  }
  ~TView() { Free(DC); }
  Variant Value(Integer ARecord, Integer AItem) { return DC->GetValue(ARecord, AItem); }
  Integer FocusedIndex() { return DC->FocusedRecordIndex() < 0 ? -1 : VarToInt(Value(DC->FocusedRecordIndex(), 0)); }
};

// A data set of ACount rows: Index 1..ACount, Name "rN", Amount N*10.
struct TData {
  TComponentPtr Owner{New<TComponent>(nullptr)};
  TMemDataSet* DS{};
  TDataSource* Source{};
  explicit TData(Integer ACount) {
    DS = New<TMemDataSet>(Owner.get());
    DS->FieldDefs()->Add(u"Index", ftInteger);
    DS->FieldDefs()->Add(u"Name", ftString, 20);
    DS->FieldDefs()->Add(u"Amount", ftInteger);
    DS->Open();
    DS->DisableControls();
    for (Integer I = 1; I <= ACount; ++I)
      DS->AppendRecord({Variant(I), Variant(u"r" + IntToStr(I)), Variant(I * 10)});
    DS->First();
    DS->EnableControls();
    DS->Close();
    Source = New<TDataSource>(Owner.get());
    Source->SetDataSet(DS);
  }
  Integer CurrentIndex() { return DS->FieldByName(u"Index")->AsInteger(); }
};

}  // namespace

TEST(vlDBData, OpenCloseAndScrollDriveTheController) {
  TData D(5);
  TView V(D.Source, {u"Index", u"Name", u"Amount"});
  EXPECT_EQ(V.DC->RecordCount(), 0);
  EXPECT_EQ(V.DC->RecNo(), -1);
  EXPECT_EQ(V.DC->DataSetRecordCount(), 0);
  D.DS->Open();
  ASSERT_EQ(V.DC->RecordCount(), 5);
  EXPECT_EQ(VarToStr(V.Value(2, 1)), u"r3");
  EXPECT_EQ(VarToInt(V.Value(4, 2)), 50);
  EXPECT_EQ(V.FocusedIndex(), 1);
  // The data set moves: the focus follows.
  D.DS->Next();
  D.DS->Next();
  EXPECT_EQ(V.FocusedIndex(), 3);
  D.DS->Last();
  EXPECT_EQ(V.FocusedIndex(), 5);
  // The focus moves: the data set follows.
  V.DC->SetFocusedRecordIndex(1);
  EXPECT_EQ(D.CurrentIndex(), 2);
  EXPECT_EQ(V.DC->RecNo(), 2);
  V.DC->GotoLast();
  EXPECT_EQ(D.CurrentIndex(), 5);
  D.DS->Close();
  EXPECT_EQ(V.DC->RecordCount(), 0);
  D.DS->Open();
  EXPECT_EQ(V.DC->RecordCount(), 5);
}

// The focused record as the data set sees it: its current record while
// browsing, the record being inserted while an insert runs.
TEST(vlDBData, SyncFocusedRecordFollowsTheDataSet) {
  TData D(5);
  TView V(D.Source, {u"Index", u"Name", u"Amount"});
  D.DS->Open();
  D.DS->Next();
  D.DS->Next();
  EXPECT_EQ(V.DC->GetSyncFocusedRecordIndex(), 2);
  EXPECT_EQ(V.DC->GetSyncFocusedRecordIndex(), V.DC->FocusedRecordIndex());
  D.DS->Append();
  ASSERT_TRUE(V.DC->DBProvider()->IsInserting());
  EXPECT_EQ(V.DC->GetSyncFocusedRecordIndex(), V.DC->DBProvider()->EditingRecordIndex());
  D.DS->Cancel();
  D.DS->Close();
  // Without an open data set the controller's own focus answers.
  EXPECT_EQ(V.DC->GetSyncFocusedRecordIndex(), V.DC->FocusedRecordIndex());
}

TEST(vlDBData, EditAndPostOnTheDataSetReachTheController) {
  TData D(4);
  TView V(D.Source, {u"Index", u"Name"});
  D.DS->Open();
  D.DS->Next();
  D.DS->Edit();
  EXPECT_TRUE(V.DC->IsEditing());
  D.DS->FieldByName(u"Name")->SetAsString(u"changed");
  D.DS->Post();
  EXPECT_FALSE(V.DC->IsEditing());
  EXPECT_EQ(VarToStr(V.Value(1, 1)), u"changed");
  // Editing through the controller writes the data set.
  V.DC->SetFocusedRecordIndex(2);
  V.DC->Edit();
  ASSERT_TRUE(V.DC->SetEditValue(1, Variant(String(u"typed"))));
  V.DC->Post();
  EXPECT_EQ(D.DS->FieldByName(u"Name")->AsString(), u"typed");
  EXPECT_EQ(VarToStr(V.Value(2, 1)), u"typed");
  // Delete and append on the data set.
  D.DS->Delete();
  EXPECT_EQ(V.DC->RecordCount(), 3);
  D.DS->AppendRecord({Variant(9), Variant(String(u"new")), Variant(1)});
  EXPECT_EQ(V.DC->RecordCount(), 4);
  EXPECT_EQ(V.FocusedIndex(), 9);
}

TEST(vlDBData, KeysFindAndLocateRecords) {
  TData D(6);
  TView V(D.Source, {u"Index", u"Name"}, u"Index");
  D.DS->Open();
  EXPECT_TRUE(V.DC->IsKeyNavigation());
  EXPECT_EQ(VarToInt(V.DC->GetRecordId(3)), 4);
  EXPECT_THROW(V.DC->GetRecordId(6), EvlInvalidDataControllerOperation);
  EXPECT_EQ(V.DC->FindRecordIndexByKey(Variant(5)), 4);
  EXPECT_EQ(V.DC->FindRecordIndexByKey(Variant(77)), -1);
  EXPECT_TRUE(V.DC->LocateByKey(Variant(6)));
  EXPECT_EQ(D.CurrentIndex(), 6);
  EXPECT_EQ(V.FocusedIndex(), 6);
  // No such key: False, and the focus stays (the data set cannot stand on no record).
  EXPECT_FALSE(V.DC->LocateByKey(Variant(100)));
  EXPECT_EQ(V.FocusedIndex(), 6);
  // Two key fields want an array of two values.
  V.DC->SetKeyFieldNames(u"Index;Name");
  EXPECT_EQ(V.DC->FindRecordIndexByKey(Variant(2)), -1);
  Variant Pair = VarArrayCreate({0, 1}, varVariant);
  VarArrayPut(Pair, Variant(2), {0});
  VarArrayPut(Pair, Variant(String(u"r2")), {1});
  EXPECT_EQ(V.DC->FindRecordIndexByKey(Pair), 1);
  EXPECT_EQ(VarArrayHighBound(V.DC->GetRecordId(1), 1), 1);
  V.DC->SetKeyFieldNames(u"");
  EXPECT_FALSE(V.DC->IsKeyNavigation());
  EXPECT_TRUE(VarIsNull(V.DC->GetRecordId(1)));
  V.DC->SetKeyFieldNames(u"Nope");
  EXPECT_THROW(V.DC->GetKeyFieldsValues(), EvlInvalidDataControllerOperation);
}

TEST(vlDBData, SmartRefreshReReadsOneRecordAndKeepsAChangedKey) {
  TData D(5);
  TView V(D.Source, {u"Index", u"Name"}, u"Index");
  V.DC->DataModeController()->SetSmartRefresh(true);
  D.DS->Open();
  ASSERT_TRUE(V.DC->DBProvider()->IsSmartRefresh());
  D.DS->Locate(u"Index", Variant(3), TLocateOptions());
  EXPECT_EQ(V.FocusedIndex(), 3);
  // An edit that changes the key: the record stays, under its new key.
  D.DS->Edit();
  D.DS->FieldByName(u"Index")->SetAsInteger(30);
  D.DS->FieldByName(u"Name")->SetAsString(u"thirty");
  D.DS->Post();
  ASSERT_EQ(V.DC->RecordCount(), 5);
  EXPECT_EQ(VarToInt(V.Value(2, 0)), 30);
  EXPECT_EQ(VarToStr(V.Value(2, 1)), u"thirty");
  EXPECT_EQ(V.DC->FindRecordIndexByKey(Variant(30)), 2);
  EXPECT_EQ(V.DC->FindRecordIndexByKey(Variant(3)), -1);
  EXPECT_EQ(V.FocusedIndex(), 30);
  // An append shows the new row, focused.
  D.DS->AppendRecord({Variant(6), Variant(String(u"six")), Variant(0)});
  ASSERT_EQ(V.DC->RecordCount(), 6);
  EXPECT_EQ(V.FocusedIndex(), 6);
  // Rows added behind the view's back show after a refresh.
  D.DS->DisableControls();
  D.DS->AppendRecord({Variant(7), Variant(String(u"seven")), Variant(0)});
  D.DS->AppendRecord({Variant(8), Variant(String(u"eight")), Variant(0)});
  D.DS->EnableControls();
  D.DS->Refresh();
  EXPECT_EQ(V.DC->RecordCount(), 8);
  EXPECT_EQ(V.DC->FindRecordIndexByKey(Variant(8)), 7);
}

TEST(vlDBData, TwoViewsOnOneDataSet) {
  TData D(5);
  TView A(D.Source, {u"Index", u"Name"}, u"Index");
  TView B(D.Source, {u"Name", u"Index"});
  D.DS->Open();
  EXPECT_EQ(A.DC->RecordCount(), 5);
  EXPECT_EQ(B.DC->RecordCount(), 5);
  A.DC->SetFocusedRecordIndex(3);
  EXPECT_EQ(D.CurrentIndex(), 4);
  EXPECT_EQ(VarToInt(B.Value(B.DC->FocusedRecordIndex(), 1)), 4);
  B.DC->GotoFirst();
  EXPECT_EQ(A.FocusedIndex(), 1);
  D.DS->Edit();
  D.DS->FieldByName(u"Name")->SetAsString(u"both");
  D.DS->Post();
  EXPECT_EQ(VarToStr(A.Value(0, 1)), u"both");
  EXPECT_EQ(VarToStr(B.Value(0, 0)), u"both");
}

TEST(vlDBData, GridModeHoldsAWindow) {
  TData D(300);
  TView V(D.Source, {u"Index", u"Name"}, u"Index");
  V.DC->DataModeController()->SetGridModeBufferCount(-5);
  EXPECT_EQ(V.DC->DataModeController()->GridModeBufferCount(), 0);
  V.DC->DataModeController()->SetGridMode(true);
  D.DS->Open();
  ASSERT_TRUE(V.DC->IsGridMode());
  EXPECT_FALSE(V.DC->IsKeyNavigation());
  EXPECT_EQ(V.DC->RecordCount(), 100);
  EXPECT_EQ(VarToInt(V.Value(99, 0)), 100);
  EXPECT_EQ(V.DC->GetRowCount(), 100);
  // ActiveRecord 10 of a 100-row window: Scroll(3) moves the data set by 92.
  D.DS->MoveBy(10);
  EXPECT_EQ(V.DC->DBProvider()->DataLink()->ActiveRecord(), 10);
  EXPECT_EQ(V.FocusedIndex(), 11);
  V.DC->DBProvider()->Scroll(3);
  EXPECT_EQ(D.CurrentIndex(), 103);
  EXPECT_EQ(VarToInt(V.Value(V.DC->RecordCount() - 1, 0)), 103);
  EXPECT_EQ(V.FocusedIndex(), 103);
  // A record outside the window: the data set is searched.
  EXPECT_TRUE(V.DC->LocateByKey(Variant(250)));
  EXPECT_EQ(D.CurrentIndex(), 250);
  EXPECT_EQ(V.FocusedIndex(), 250);
  EXPECT_FALSE(V.DC->LocateByKey(Variant(999)));
  // A smaller window; grouping forces the full load.
  V.DC->DataModeController()->SetGridModeBufferCount(20);
  EXPECT_EQ(V.DC->RecordCount(), 20);
  V.DC->ChangeGrouping(1, 0);
  EXPECT_FALSE(V.DC->IsGridMode());
}

// The program's log on SQLite: key field "Index", smart refresh.
TEST(vlDBData, LogTableWithSmartRefresh) {
  TLogTestDatabase Log("dbdata");
  auto& Owner = Log.Owner;
  TADODataSet* Set = Log.Set;
  auto AddLog = [&](Integer AKontor) { Log.Add(AKontor); };
  AddLog(100);
  AddLog(200);
  auto* Source = New<TDataSource>(Owner.get());
  Source->SetDataSet(Set);
  TView V(Source, {u"Index", u"Kontor"}, u"Index");
  V.DC->DataModeController()->SetSmartRefresh(true);
  Set->Open();
  ASSERT_EQ(V.DC->RecordCount(), 2);
  EXPECT_EQ(VarToInt(V.Value(1, 1)), 200);
  // "Ekle", then close and reopen at the last row: the new row is there, focused.
  AddLog(300);
  Set->Close();
  Set->Open();
  Set->Last();
  ASSERT_EQ(V.DC->RecordCount(), 3);
  EXPECT_EQ(VarToInt(V.Value(V.DC->FocusedRecordIndex(), 1)), 300);
  // An edit re-reads the one record.
  V.DC->SetFocusedRecordIndex(0);
  Set->Edit();
  Set->FieldByName(u"Kontor")->SetAsInteger(40000);
  Set->Post();
  EXPECT_EQ(VarToInt(V.Value(0, 1)), 40000);
  // A refresh after another "Ekle" shows the new row.
  AddLog(400);
  Set->Refresh();
  ASSERT_EQ(V.DC->RecordCount(), 4);
  EXPECT_EQ(V.DC->FindRecordIndexByKey(Variant(4)), 3);
  Set->Close();
}

// The log grid's key "Index" is no column: an internal key field holds the
// key values (one sub-field per name for several names, "SeriNo" sharing the
// column's values). Locate, the reopen after "Ekle", smart refresh and the
// key index all go through it.
TEST(vlDBData, KeyFieldWithoutAColumnOnTheLog) {
  for (const char16_t* Keys : {u"Index", u"Index;SeriNo"}) {
    SCOPED_TRACE(UTF16ToUTF8(Keys));
    const Boolean Two = String(Keys).find(u';') != String::npos;
    auto Key = [&](Integer AIndex) {
      if (!Two) return Variant(AIndex);
      Variant Pair = VarArrayCreate({0, 1}, varVariant);
      VarArrayPut(Pair, Variant(AIndex), {0});
      VarArrayPut(Pair, Variant(u"s" + IntToStr(AIndex)), {1});
      return Pair;
    };
    TLogTestDatabase Log("dbdatakey");
    for (Integer I = 1; I <= 3; ++I) Log.Add(I * 100, u"s" + IntToStr(I));
    auto* Source = New<TDataSource>(Log.Owner.get());
    Source->SetDataSet(Log.Set);
    TView V(Source, {u"Kontor", u"SeriNo"}, Keys);
    V.DC->DataModeController()->SetSmartRefresh(true);
    V.DC->SetMultiSelect(true);
    Log.Set->Open();
    ASSERT_EQ(V.DC->RecordCount(), 3);
    EXPECT_EQ(V.DC->GetItemByFieldName(u"Index"), -1);
    EXPECT_TRUE(V.DC->IsKeyNavigation());
    EXPECT_TRUE(V.DC->CanFindRecordsByKey());
    std::vector<TvlCustomDataField*> Fields;
    V.DC->GetKeyFields(Fields);
    ASSERT_EQ(Fields.size(), Two ? 2u : 1u);
    for (TvlCustomDataField* F : Fields) EXPECT_TRUE(F->IsInternal());
    EXPECT_EQ(VarToInt(Two ? VarArrayGet(V.DC->GetRecordId(1), {0}) : V.DC->GetRecordId(1)), 2);
    EXPECT_EQ(V.DC->FindRecordIndexByKey(Key(2)), 1);
    EXPECT_EQ(V.DC->FindRecordIndexByKey(Key(9)), -1);
    auto Current = [&] { return Log.Set->FieldByName(u"Index")->AsInteger(); };
    auto FocusedKontor = [&] { return VarToInt(V.Value(V.DC->FocusedRecordIndex(), 0)); };
    EXPECT_TRUE(V.DC->LocateByKey(Key(3)));
    EXPECT_EQ(Current(), 3);
    EXPECT_EQ(FocusedKontor(), 300);
    EXPECT_FALSE(V.DC->LocateByKey(Key(9)));
    EXPECT_EQ(FocusedKontor(), 300);
    // Rows 1 and 3 selected, row 2 focused; "Ekle" and the program's reopen
    // (controls disabled around Close and Open).
    V.DC->ClearSelection();
    V.DC->ChangeRowSelection(0, true);
    V.DC->ChangeRowSelection(2, true);
    V.DC->SetFocusedRowIndex(1);
    EXPECT_EQ(Current(), 2);
    Log.Add(400, u"s4");
    Log.Set->DisableControls();
    Log.Set->Close();
    Log.Set->Open();
    Log.Set->EnableControls();
    ASSERT_EQ(V.DC->RecordCount(), 4);
    EXPECT_EQ(V.DC->FindRecordIndexByKey(Key(4)), 3);
    std::vector<Integer> Selected;
    for (Integer I = 0; I < V.DC->GetSelectedCount(); ++I)
      Selected.push_back(VarToInt(V.Value(V.DC->GetRowInfo(V.DC->GetSelectedRowIndex(I)).RecordIndex, 0)));
    std::sort(Selected.begin(), Selected.end());
    EXPECT_EQ(Selected, (std::vector<Integer>{100, 300}));
    // The reopened data set stands on its first row; the synchronised focus follows it.
    EXPECT_EQ(Current(), 1);
    EXPECT_EQ(FocusedKontor(), 100);
    // Smart refresh: another "Ekle" shows after a refresh; an edit re-reads its record.
    Log.Add(500, u"s5");
    Log.Set->Refresh();
    ASSERT_EQ(V.DC->RecordCount(), 5);
    EXPECT_EQ(V.DC->FindRecordIndexByKey(Key(5)), 4);
    ASSERT_TRUE(V.DC->LocateByKey(Key(2)));
    Log.Set->Edit();
    Log.Set->FieldByName(u"Kontor")->SetAsInteger(222);
    Log.Set->Post();
    ASSERT_EQ(V.DC->RecordCount(), 5);
    EXPECT_EQ(VarToInt(V.Value(1, 0)), 222);
    EXPECT_EQ(FocusedKontor(), 222);
    EXPECT_EQ(V.DC->FindRecordIndexByKey(Key(2)), 1);
    // In grid mode the key is read from the data set's window.
    V.DC->DataModeController()->SetGridMode(true);
    EXPECT_FALSE(V.DC->IsKeyNavigation());
    const Integer R = V.DC->FindRecordIndexByKey(Key(4));
    ASSERT_GE(R, 0);
    EXPECT_EQ(VarToInt(V.Value(R, 0)), 400);
    Log.Set->Close();
  }
}

TEST(vlDBData, SelectAllInGridModeKeepsThePosition) {
  TData D(10000);
  TView V(D.Source, {u"Index"});
  V.DC->DataModeController()->SetGridMode(true);
  V.DC->SetMultiSelect(true);
  D.DS->Open();
  D.DS->MoveBy(4321);
  V.DC->SelectAll();
  ASSERT_EQ(V.DC->SelectedBookmarks()->Count(), 10000);
  EXPECT_EQ(D.CurrentIndex(), 4322);
  for (Integer I = 1; I < 10000; I += 997)
    EXPECT_LT(D.DS->CompareBookmarks(V.DC->GetSelectedBookmark(I - 1), V.DC->GetSelectedBookmark(I)), 0);
  EXPECT_TRUE(V.DC->FocusSelectedRow(9999));
  EXPECT_EQ(D.CurrentIndex(), 10000);
  EXPECT_THROW(V.DC->GetSelectedBookmark(10000), EListError);
  // Outside grid mode the selection is the base's rows; FocusSelectedRow focuses one.
  V.DC->DataModeController()->SetGridMode(false);
  EXPECT_THROW(V.DC->GetSelectedBookmark(0), EvlInvalidDataControllerOperation);
  V.DC->SetMultiSelect(true);
  V.DC->ChangeRowSelection(7, true);
  EXPECT_TRUE(V.DC->FocusSelectedRow(0));
  EXPECT_EQ(V.DC->FocusedRowIndex(), 7);
  EXPECT_EQ(D.CurrentIndex(), 8);
  EXPECT_FALSE(V.DC->FocusSelectedRow(3));
}

// --- Against both data sets: the in-memory one and the log on SQLite --------------------

namespace {

// Records the kinds of update infos a controller sends.
class TInfoLog : public TObject {
  CL_CLASS(TInfoLog, TObject)
 public:
  std::vector<String> Names;
  std::vector<TvlDataChange> DataKinds;
  void Update(TvlUpdateControlInfo* AInfo) {
    Names.push_back(AInfo->ClassName());
    if (auto* D = dynamic_cast<TvlDataChangedInfo*>(AInfo)) DataKinds.push_back(D->Kind);
  }
  Integer Count(const String& AName) const {
    return static_cast<Integer>(std::count(Names.begin(), Names.end(), AName));
  }
  void Clear() {
    Names.clear();
    DataKinds.clear();
  }
};

// ACount rows, Index 1..ACount, Kontor 10*Index, SeriNo "s<Index>": an
// in-memory data set, or the log table on SQLite filled through "Ekle".
struct TLogSource {
  // The log outlives the data source (made later, freed first).
  std::unique_ptr<TLogTestDatabase> Log;
  TComponentPtr Owner{New<TComponent>(nullptr)};
  TDataSet* DS{};
  TDataSource* Source{};
  Boolean Sqlite{};

  TLogSource(Boolean ASqlite, Integer ACount) : Sqlite(ASqlite) {
    if (ASqlite) {
      Log = std::make_unique<TLogTestDatabase>("dbdatalog");
      Log->Conn->Open();
      Log->Conn->BeginTrans();
      for (Integer I = 1; I <= ACount; ++I) Log->Add(I * 10, u"s" + IntToStr(I));
      Log->Conn->CommitTrans();
      DS = Log->Set;
    } else {
      auto* Mem = New<TMemDataSet>(Owner.get());
      Mem->FieldDefs()->Add(u"Index", ftInteger);
      Mem->FieldDefs()->Add(u"Kontor", ftInteger);
      Mem->FieldDefs()->Add(u"SeriNo", ftString, 8);
      Mem->Open();
      Mem->DisableControls();
      for (Integer I = 1; I <= ACount; ++I)
        Mem->AppendRecord({Variant(I), Variant(I * 10), Variant(u"s" + IntToStr(I))});
      Mem->EnableControls();
      Mem->Close();
      DS = Mem;
    }
    Source = New<TDataSource>(Owner.get());
    Source->SetDataSet(DS);
  }
  Integer CurrentIndex() { return DS->FieldByName(u"Index")->AsInteger(); }
  Boolean Goto(Integer AIndex) { return DS->Locate(u"Index", Variant(AIndex), TLocateOptions()); }
};

class vlDBDataBoth : public testing::TestWithParam<Boolean> {};

INSTANTIATE_TEST_SUITE_P(DataSets, vlDBDataBoth, testing::Values(false, true),
                         [](const testing::TestParamInfo<Boolean>& I) { return I.param ? "SQLiteLog" : "InMemory"; });

std::vector<Integer> KeysOf(TView& V) {
  std::vector<Integer> Keys;
  for (Integer R = 0; R < V.DC->RecordCount(); ++R) Keys.push_back(VarToInt(V.Value(R, 0)));
  return Keys;
}

}  // namespace

CL_IMPLEMENT_CLASS(TInfoLog)

// Grid mode over 10 000 rows: select all, ranges from an anchor, the
// bookmark, both kept across a refresh; a selected row deleted on the data
// set leaves the selection.
TEST_P(vlDBDataBoth, GridModeSelectionAndBookmarkAcrossRefresh) {
  TLogSource L(GetParam(), 10000);
  TView V(L.Source, {u"Index", u"Kontor"});
  TInfoLog Log;
  V.DC->SetOnUpdateControl(TvlUpdateControlEvent(&Log, &TInfoLog::Update));
  V.DC->DataModeController()->SetGridMode(true);
  V.DC->SetMultiSelect(true);
  L.DS->Open();
  ASSERT_TRUE(V.DC->IsGridMode());
  L.DS->MoveBy(4321);
  const Integer Row = 50;
  V.DC->SetFocusedRowIndex(Row);
  ASSERT_EQ(V.DC->FocusedRowIndex(), Row);
  const Integer Current = L.CurrentIndex();
  V.DC->SelectAll();
  ASSERT_EQ(V.DC->SelectedBookmarks()->Count(), 10000);
  EXPECT_EQ(V.DC->GetSelectedCount(), 10000);
  EXPECT_EQ(L.CurrentIndex(), Current);
  // Rows of the window show as selected; bookmarks outside it have no row.
  EXPECT_TRUE(V.DC->IsRowSelected(Row));
  EXPECT_EQ(V.DC->GetSelectedRowIndex(0), -1);

  // Shift-extending from an anchor by one row adds one bookmark; back removes it.
  V.DC->ClearSelection();
  EXPECT_EQ(V.DC->SelectedBookmarks()->Count(), 0);
  V.DC->SetSelectionAnchor(Row);
  EXPECT_TRUE(V.DC->IsSelectionAnchorExist());
  EXPECT_EQ(V.DC->GetSelectionAnchorRowIndex(), -1);
  V.DC->SelectFromAnchor(Row, false);
  EXPECT_EQ(V.DC->SelectedBookmarks()->Count(), 1);
  V.DC->SelectFromAnchor(Row + 1, false);
  EXPECT_EQ(V.DC->SelectedBookmarks()->Count(), 2);
  V.DC->SelectFromAnchor(Row + 2, false);
  EXPECT_EQ(V.DC->SelectedBookmarks()->Count(), 3);
  V.DC->SelectFromAnchor(Row + 1, false);
  ASSERT_EQ(V.DC->SelectedBookmarks()->Count(), 2);
  EXPECT_TRUE(V.DC->IsRowSelected(Row + 1));
  EXPECT_FALSE(V.DC->IsRowSelected(Row + 2));
  // Upwards from the anchor, then a second range kept beside the first.
  V.DC->SelectFromAnchor(Row - 3, false);
  EXPECT_EQ(V.DC->SelectedBookmarks()->Count(), 4);
  EXPECT_TRUE(V.DC->IsRowSelected(Row - 3));
  EXPECT_FALSE(V.DC->IsRowSelected(Row + 1));
  V.DC->SetSelectionAnchor(Row + 10);
  V.DC->SelectFromAnchor(Row + 12, true);
  ASSERT_EQ(V.DC->SelectedBookmarks()->Count(), 7);
  for (Integer I = 1; I < 7; ++I)
    EXPECT_LT(L.DS->CompareBookmarks(V.DC->GetSelectedBookmark(I - 1), V.DC->GetSelectedBookmark(I)), 0);
  EXPECT_EQ(L.CurrentIndex(), Current);

  // The grid-mode bookmark: one change info when saved, none when saved again.
  Log.Clear();
  V.DC->SaveBookmark();
  EXPECT_EQ(Log.Count(u"TvlBookmarkChangedInfo"), 1);
  V.DC->SaveBookmark();
  EXPECT_EQ(Log.Count(u"TvlBookmarkChangedInfo"), 1);
  EXPECT_TRUE(V.DC->IsBookmarkRow(Row));
  EXPECT_FALSE(V.DC->IsBookmarkRow(Row + 1));

  // A refresh keeps both.
  L.DS->Refresh();
  EXPECT_EQ(V.DC->SelectedBookmarks()->Count(), 7);
  EXPECT_TRUE(V.DC->IsBookmarkAvailable());
  L.DS->First();
  V.DC->GotoBookmark();
  EXPECT_EQ(L.CurrentIndex(), Current);

  // A selected row deleted on the data set leaves at the data set's change.
  ASSERT_TRUE(L.Goto(Current + 11));
  L.DS->Delete();
  EXPECT_EQ(V.DC->SelectedBookmarks()->Count(), 6);
  // The bookmarked row deleted: the bookmark goes.
  ASSERT_TRUE(L.Goto(Current));
  L.DS->Delete();
  EXPECT_FALSE(V.DC->IsBookmarkAvailable());
  L.DS->Close();
}

// Deleting a selection with key field and smart refresh removes exactly the
// selected stored records, without reading the data set again; without key
// fields the data set is read again after the deletes.
TEST_P(vlDBDataBoth, DeleteSelection) {
  struct TCase {
    const char16_t* Keys;
    Boolean Smart;
  } Cases[] = {{u"Index", true}, {u"Index", false}, {u"", false}};
  for (const TCase& C : Cases) {
    SCOPED_TRACE(UTF16ToUTF8(String(C.Keys) + (C.Smart ? u" smart" : u"")));
    TLogSource L(GetParam(), 20);
    TView V(L.Source, {u"Index", u"Kontor"}, C.Keys);
    V.DC->DataModeController()->SetSmartRefresh(C.Smart);
    V.DC->SetMultiSelect(true);
    L.DS->Open();
    V.DC->ClearSelection();
    for (Integer Row : {2, 5, 6}) V.DC->ChangeRowSelection(Row, true);
    V.DC->SetFocusedRowIndex(6);
    // A stored value the data set does not have: a full reload would overwrite it.
    V.DC->DataStorage()->SetValue(0, V.DC->GetItemField(1)->ValueDef(), Variant(999));
    V.DC->DeleteSelection();
    EXPECT_EQ(L.DS->RecordCount(), 17);
    ASSERT_EQ(V.DC->RecordCount(), 17);
    std::vector<Integer> Keys = KeysOf(V);
    for (Integer Gone : {3, 6, 7}) EXPECT_EQ(std::count(Keys.begin(), Keys.end(), Gone), 0) << Gone;
    EXPECT_EQ(V.DC->GetSelectedCount(), C.Smart || !*C.Keys ? 0 : V.DC->GetSelectedCount());
    EXPECT_EQ(VarToInt(V.Value(0, 1)), C.Smart ? 999 : 10);
    // The focus and the data set stand on one record.
    ASSERT_GE(V.DC->FocusedRecordIndex(), 0);
    EXPECT_EQ(VarToInt(V.Value(V.DC->FocusedRecordIndex(), 0)), L.CurrentIndex());
    // Deleting the focused record removes exactly that one.
    V.DC->SetFocusedRowIndex(0);
    V.DC->DeleteFocused();
    EXPECT_EQ(V.DC->RecordCount(), 16);
    EXPECT_EQ(VarToInt(V.Value(0, 0)), 2);
    EXPECT_EQ(L.DS->RecordCount(), 16);
    EXPECT_EQ(VarToInt(V.Value(V.DC->FocusedRecordIndex(), 0)), L.CurrentIndex());
    L.DS->Close();
  }
}

TEST_P(vlDBDataBoth, DeleteSelectionInGridMode) {
  TLogSource L(GetParam(), 300);
  TView V(L.Source, {u"Index"});
  V.DC->DataModeController()->SetGridMode(true);
  V.DC->SetMultiSelect(true);
  L.DS->Open();
  V.DC->ChangeRowSelection(3, true);
  V.DC->ChangeRowSelection(1, true);
  ASSERT_EQ(V.DC->SelectedBookmarks()->Count(), 2);
  V.DC->DeleteSelection();
  EXPECT_EQ(L.DS->RecordCount(), 298);
  EXPECT_EQ(V.DC->SelectedBookmarks()->Count(), 0);
  EXPECT_EQ(VarToInt(V.Value(1, 0)), 3);
  EXPECT_EQ(VarToInt(V.Value(2, 0)), 5);
}

// Two views on one data set through open, scroll, edit, post, insert,
// close and reopen, in that order.
TEST_P(vlDBDataBoth, TwoViewsInOrder) {
  TLogSource L(GetParam(), 8);
  TView A(L.Source, {u"Index", u"Kontor", u"SeriNo"}, u"Index");
  TView B(L.Source, {u"Index", u"Kontor"});
  A.DC->DataModeController()->SetSmartRefresh(true);
  L.DS->Open();
  ASSERT_EQ(A.DC->RecordCount(), 8);
  ASSERT_EQ(B.DC->RecordCount(), 8);
  L.DS->MoveBy(3);
  EXPECT_EQ(A.FocusedIndex(), 4);
  EXPECT_EQ(B.FocusedIndex(), 4);
  B.DC->GotoLast();
  EXPECT_EQ(A.FocusedIndex(), 8);
  // An edit through A reaches the data set and B.
  A.DC->SetFocusedRecordIndex(2);
  ASSERT_TRUE(A.DC->SetEditValue(1, Variant(777)));
  EXPECT_TRUE(A.DC->IsEditing());
  EXPECT_TRUE(B.DC->IsEditing());
  A.DC->Post();
  EXPECT_FALSE(L.DS->Modified());
  EXPECT_EQ(VarToInt(A.Value(2, 1)), 777);
  EXPECT_EQ(VarToInt(B.Value(2, 1)), 777);
  // An append through A: posted, both show it (the log numbers its Index itself).
  A.DC->Append();
  EXPECT_TRUE(A.DC->DBProvider()->IsInserting());
  EXPECT_TRUE(B.DC->DBProvider()->IsOtherDetailDataSetInInsert());
  if (!L.Sqlite) ASSERT_TRUE(A.DC->SetEditValue(0, Variant(9)));
  ASSERT_TRUE(A.DC->SetEditValue(1, Variant(90)));
  ASSERT_TRUE(A.DC->SetEditValue(2, Variant(String(u"s9"))));
  A.DC->Post();
  ASSERT_EQ(A.DC->RecordCount(), 9);
  ASSERT_EQ(B.DC->RecordCount(), 9);
  EXPECT_EQ(A.FocusedIndex(), 9);
  EXPECT_EQ(A.DC->FindRecordIndexByKey(Variant(9)), A.DC->FocusedRecordIndex());
  EXPECT_EQ(VarToInt(A.Value(A.DC->FocusedRecordIndex(), 1)), 90);
  // A second append while the first is pending posts it first.
  A.DC->Append();
  if (!L.Sqlite) A.DC->SetEditValue(0, Variant(10));
  A.DC->SetEditValue(1, Variant(100));
  A.DC->Append();
  if (!L.Sqlite) A.DC->SetEditValue(0, Variant(11));
  A.DC->SetEditValue(1, Variant(110));
  A.DC->Post();
  ASSERT_EQ(A.DC->RecordCount(), 11);
  EXPECT_EQ(B.DC->RecordCount(), 11);
  EXPECT_EQ(A.DC->FindRecordIndexByKey(Variant(10)) >= 0, true);
  // Cancelling an append leaves nothing behind.
  A.DC->Append();
  A.DC->Cancel();
  EXPECT_EQ(A.DC->RecordCount(), 11);
  EXPECT_EQ(L.DS->RecordCount(), 11);
  L.DS->Close();
  EXPECT_EQ(A.DC->RecordCount(), 0);
  EXPECT_EQ(B.DC->RecordCount(), 0);
  L.DS->Open();
  EXPECT_EQ(A.DC->RecordCount(), 11);
  EXPECT_EQ(B.DC->RecordCount(), 11);
  EXPECT_EQ(VarToInt(B.Value(2, 1)), 777);
}

// Selection and the record bookmark follow their records' keys across a
// reload that moved them.
TEST_P(vlDBDataBoth, SelectionAndBookmarkKeptByKeyAcrossReload) {
  TLogSource L(GetParam(), 10);
  TView V(L.Source, {u"Index", u"Kontor"}, u"Index");
  V.DC->SetMultiSelect(true);
  L.DS->Open();
  V.DC->ClearSelection();
  V.DC->ChangeRowSelection(2, true);
  V.DC->ChangeRowSelection(6, true);
  V.DC->SetFocusedRowIndex(4);
  V.DC->SaveBookmark();
  // The first two rows go behind the view's back; the data set is read again.
  L.DS->DisableControls();
  L.DS->First();
  L.DS->Delete();
  L.DS->Delete();
  ASSERT_TRUE(L.Goto(5));
  L.DS->EnableControls();
  ASSERT_EQ(V.DC->RecordCount(), 8);
  ASSERT_EQ(V.DC->GetSelectedCount(), 2);
  std::vector<Integer> Selected;
  for (Integer I = 0; I < 2; ++I)
    Selected.push_back(VarToInt(V.Value(V.DC->GetRowInfo(V.DC->GetSelectedRowIndex(I)).RecordIndex, 0)));
  std::sort(Selected.begin(), Selected.end());
  EXPECT_EQ(Selected, (std::vector<Integer>{3, 7}));
  EXPECT_EQ(V.FocusedIndex(), 5);
  V.DC->GotoFirst();
  V.DC->GotoBookmark();
  EXPECT_EQ(V.FocusedIndex(), 5);
}

// The checks by which views of one data set keep out of each other's way.
TEST(vlDBData, BusyChecksOfSharedDataSets) {
  TLogSource L(false, 6);
  TView A(L.Source, {u"Index", u"Kontor"}, u"Index");
  TView B(L.Source, {u"Index", u"Kontor"}, u"Index");
  L.DS->Open();
  TvlDBDataProvider* PA = A.DC->DBProvider();
  TvlDBDataProvider* PB = B.DC->DBProvider();
  EXPECT_FALSE(PA->IsDataSetBusy());
  EXPECT_FALSE(PB->IsOtherDataControllerUpdating());
  // While A locates, B skips the data set's changes and gets one after A's load.
  TInfoLog LogB;
  B.DC->SetOnUpdateControl(TvlUpdateControlEvent(&LogB, &TInfoLog::Update));
  PA->BeginLocate();
  EXPECT_TRUE(PB->IsDataSetBusy());
  EXPECT_TRUE(PA->IsDataSetBusy());
  L.DS->Refresh();
  EXPECT_TRUE(PB->IsOtherDataControllerUpdating());
  EXPECT_EQ(LogB.DataKinds.size(), 0u);
  PA->EndLocate();
  EXPECT_FALSE(PB->IsDataSetBusy());
  A.DC->LoadFromDataSet();
  EXPECT_EQ(LogB.DataKinds.size(), 1u);
  // A locate begun while the data set edits sets the post-locate flags: not busy.
  L.DS->Edit();
  PA->BeginLocate();
  EXPECT_TRUE(PB->PostLocateFlag());
  EXPECT_FALSE(PB->IsDataSetBusy());
  PA->EndLocate();
  L.DS->Cancel();
  // Locking the data events cancels a pending edit.
  L.DS->Edit();
  PA->LockDataSet();
  EXPECT_EQ(L.DS->State(), dsBrowse);
  EXPECT_TRUE(PB->IsDataSetBusy() || PB->PostLocateFlag());
  PA->UnlockDataSet();
  // Inserting through one provider is seen by the other.
  EXPECT_FALSE(PB->IsOtherDetailDataSetInInsert());
  A.DC->Append();
  EXPECT_TRUE(PB->IsOtherDetailDataSetInInsert());
  A.DC->Cancel();
  EXPECT_FALSE(PB->IsOtherDetailDataSetInInsert());
  EXPECT_FALSE(PA->IsCanInitEditingBusy());
  // A top controller keeps its own data-set currency flag.
  EXPECT_FALSE(PA->IsDataSetCurrent());
  PA->SetIsDataSetCurrent(true);
  EXPECT_TRUE(PA->IsDataSetCurrent());
}

// The data set searched in grid mode: from the current record on, wrapping
// once; the next match stops at the end.
TEST(vlDBData, IncrementalSearchInGridMode) {
  TData D(300);
  TView V(D.Source, {u"Index", u"Name"});
  V.DC->DataModeController()->SetGridMode(true);
  D.DS->Open();
  D.DS->MoveBy(150);
  ASSERT_TRUE(V.DC->Search()->Locate(1, u"r25"));
  EXPECT_EQ(D.CurrentIndex(), 250);
  EXPECT_EQ(V.FocusedIndex(), 250);
  EXPECT_TRUE(V.DC->Search()->Searching());
  ASSERT_TRUE(V.DC->Search()->LocateNext(true));
  EXPECT_EQ(D.CurrentIndex(), 251);
  for (Integer I = 252; I <= 259; ++I) ASSERT_TRUE(V.DC->Search()->LocateNext(true));
  EXPECT_FALSE(V.DC->Search()->LocateNext(true));
  EXPECT_EQ(D.CurrentIndex(), 259);
  // From the middle, the only match lies before the start: found after wrapping.
  ASSERT_TRUE(V.DC->Search()->Locate(1, u"r7"));
  EXPECT_EQ(D.CurrentIndex(), 7);
  EXPECT_FALSE(V.DC->Search()->Locate(1, u"zz"));
  EXPECT_EQ(D.CurrentIndex(), 7);
}

// With smart refresh a new record in which only the values the controller
// assigned are set is not modified; one the user typed into is.
TEST(vlDBData, AssignedFieldsDoNotMakeANewRecordModified) {
  TData D(3);
  TView V(D.Source, {u"Index", u"Name"}, u"Index");
  V.DC->DataModeController()->SetSmartRefresh(true);
  D.DS->Open();
  TvlDBDataProvider* P = V.DC->DBProvider();
  D.DS->Append();
  P->AssignValue(D.DS->FieldByName(u"Amount"), Variant(7));
  EXPECT_TRUE(D.DS->Modified());
  EXPECT_FALSE(P->IsDataSetModified());
  D.DS->FieldByName(u"Name")->SetAsString(u"typed");
  EXPECT_TRUE(P->IsDataSetModified());
  D.DS->Cancel();
  EXPECT_EQ(V.DC->RecordCount(), 3);
}

namespace {

// An editor on the data set: its pending text reaches the field when the
// data set asks its links to check browse mode.
class TEditorLink : public TDataLink {
  CL_CLASS(TEditorLink, TDataLink)
 public:
  Integer Checks{};
  String Pending;

 protected:
  void CheckBrowseMode() override {
    ++Checks;
    if (!Pending.empty() && Editing()) DataSet()->FieldByName(u"Name")->SetAsString(Pending);
  }
};
CL_IMPLEMENT_CLASS(TEditorLink)

}  // namespace

// The controller's CheckBrowseMode first lets the data set's other links
// write their values, so the post takes them.
TEST(vlDBData, CheckBrowseModeAsksTheDataSetsLinks) {
  TData D(3);
  TView V(D.Source, {u"Index", u"Name"}, u"Index");
  std::unique_ptr<TEditorLink, TObjectFree> Editor(New<TEditorLink>());
  Editor->SetDataSource(D.Source);
  V.DC->CheckBrowseMode();
  EXPECT_EQ(Editor->Checks, 0);  // the data set is closed
  D.DS->Open();
  V.DC->CheckBrowseMode();
  EXPECT_EQ(Editor->Checks, 1);
  D.DS->Edit();
  Editor->Pending = u"typed";
  V.DC->CheckBrowseMode();
  EXPECT_EQ(D.DS->State(), dsBrowse);
  EXPECT_EQ(D.DS->FieldByName(u"Name")->AsString(), u"typed");
  EXPECT_EQ(VarToStr(V.Value(0, 1)), u"typed");
  Editor->SetDataSource(nullptr);
}

// A grid-mode view attached while the data set inserts takes that insert.
TEST(vlDBData, GridModeViewAttachedDuringAnInsertTakesIt) {
  TData D(250);
  D.DS->Open();
  D.DS->Last();
  D.DS->Append();
  D.DS->FieldByName(u"Index")->SetAsInteger(251);
  TView V(nullptr, {u"Index", u"Name"});
  V.DC->DataModeController()->SetGridMode(true);
  V.DC->SetDataSource(D.Source);
  ASSERT_TRUE(V.DC->EditState() & dceInsert);
  EXPECT_EQ(VarToInt(V.Value(V.DC->FocusedRecordIndex(), 0)), 251);
  D.DS->FieldByName(u"Name")->SetAsString(u"new");
  D.DS->Post();
  EXPECT_EQ(V.DC->EditState(), 0);
  EXPECT_EQ(V.FocusedIndex(), 251);
  // Outside grid mode the view reads the data set and leaves the insert alone.
  D.DS->Append();
  TView Full(nullptr, {u"Index", u"Name"});
  Full.DC->SetDataSource(D.Source);
  EXPECT_FALSE(Full.DC->EditState() & dceInsert);
  D.DS->Cancel();
}

namespace {

// Collects the key of every row ForEachRow hands over.
class TRowKeys : public TObject {
  CL_CLASS(TRowKeys, TObject)
 public:
  TvlCustomDataController* DC{};
  std::vector<Integer> Keys;
  void Row(Integer ARowIndex, const TvlRowInfo& AInfo) {
    Keys.push_back(StrToInt(VarToStr(DC->GetValue(AInfo.RecordIndex, 0))));
    EXPECT_EQ(DC->GetRowInfo(ARowIndex).RecordIndex, AInfo.RecordIndex);
  }
};
CL_IMPLEMENT_CLASS(TRowKeys)

}  // namespace

// ForEachRow in grid mode walks the data set: every record, the selected
// bookmarks, or the focused row; outside grid mode the rows.
TEST(vlDBData, ForEachRowWalksTheDataSetInGridMode) {
  TData D(250);
  TView V(D.Source, {u"Index"});
  V.DC->DataModeController()->SetGridMode(true);
  D.DS->Open();
  ASSERT_EQ(V.DC->RecordCount(), 100);
  std::unique_ptr<TRowKeys, TObjectFree> R(New<TRowKeys>());
  R->DC = V.DC;
  V.DC->ForEachRow(false, TvlDataControllerEachRowProc(R.get(), &TRowKeys::Row));
  ASSERT_EQ(R->Keys.size(), 250u);
  for (Integer I = 0; I < 250; ++I) ASSERT_EQ(R->Keys[I], I + 1);
  R->Keys.clear();
  D.DS->Locate(u"Index", Variant(7), TLocateOptions());
  V.DC->ForEachRow(true, TvlDataControllerEachRowProc(R.get(), &TRowKeys::Row));
  EXPECT_EQ(R->Keys, std::vector<Integer>{7});
  R->Keys.clear();
  V.DC->SetMultiSelect(true);
  V.DC->ClearSelection();
  for (Integer Key : {3, 140, 220}) {
    D.DS->Locate(u"Index", Variant(Key), TLocateOptions());
    V.DC->ChangeRowSelection(V.DC->FocusedRowIndex(), true);
  }
  ASSERT_EQ(V.DC->SelectedBookmarks()->Count(), 3);
  V.DC->ForEachRow(true, TvlDataControllerEachRowProc(R.get(), &TRowKeys::Row));
  EXPECT_EQ(R->Keys, (std::vector<Integer>{3, 140, 220}));
  R->Keys.clear();
  V.DC->DataModeController()->SetGridMode(false);
  V.DC->ForEachRow(false, TvlDataControllerEachRowProc(R.get(), &TRowKeys::Row));
  EXPECT_EQ(R->Keys.size(), 250u);
}

// The grid-mode notify lock: a locate of the controller itself does not make
// the data set busy for it in grid mode.
TEST(vlDBData, GridModeNotifyLockLetsTheOwnLocateThrough) {
  TData D(50);
  TView V(D.Source, {u"Index"});
  V.DC->DataModeController()->SetGridMode(true);
  D.DS->Open();
  TvlDBDataProvider* P = V.DC->DBProvider();
  EXPECT_FALSE(P->IsDataSetBusy());
  P->BeginLocate();
  EXPECT_TRUE(P->IsDataSetBusy());
  P->EndLocate();
  V.DC->LockGridModeNotify();
  EXPECT_TRUE(P->IsLocating());
  EXPECT_FALSE(P->IsDataSetBusy());
  D.DS->Locate(u"Index", Variant(40), TLocateOptions());
  EXPECT_EQ(V.FocusedIndex(), 40);
  V.DC->UnlockGridModeNotify();
  EXPECT_FALSE(P->IsLocating());
  EXPECT_EQ(V.DC->LockGridModeNotifyCount(), 0);
}

// An insert begun on the data set in grid mode becomes the controller's insert.
TEST(vlDBData, GridModeInsertFromTheDataSet) {
  TData D(250);
  TView V(D.Source, {u"Index", u"Name"});
  V.DC->DataModeController()->SetGridMode(true);
  D.DS->Open();
  D.DS->Locate(u"Index", Variant(120), TLocateOptions());
  D.DS->Append();
  EXPECT_TRUE(V.DC->EditState() & dceInsert);
  D.DS->FieldByName(u"Index")->SetAsInteger(251);
  D.DS->FieldByName(u"Name")->SetAsString(u"new");
  EXPECT_EQ(VarToInt(V.Value(V.DC->FocusedRecordIndex(), 0)), 251);
  D.DS->Post();
  EXPECT_EQ(V.DC->EditState(), 0);
  EXPECT_EQ(V.FocusedIndex(), 251);
  EXPECT_EQ(V.DC->RecordCount(), 100);
}

// The log grid's new-item row with smart refresh: typing inserts on the data
// set, the post keeps the typed values in a new stored record that takes the
// generated "Index" and the focus; a cancelled insert (through the controller
// or on the data set) appends nothing.
TEST(vlDBData, NewItemRowInsertsWithSmartRefresh) {
  TLogTestDatabase Log("dbdatanewitem");
  Log.Add(100, u"s1");
  Log.Add(200, u"s2");
  auto* Source = New<TDataSource>(Log.Owner.get());
  Source->SetDataSet(Log.Set);
  TView V(Source, {u"Kontor", u"SeriNo"}, u"Index");
  V.DC->DataModeController()->SetSmartRefresh(true);
  Log.Set->Open();
  ASSERT_EQ(V.DC->RecordCount(), 2);
  ASSERT_TRUE(V.DC->IsAutoIncKey());
  V.DC->SetUseNewItemRowForEditing(true);
  enum TEnd { Post, Cancel, CancelOnDataSet };
  for (const TEnd End : {Post, Cancel, CancelOnDataSet}) {
    SCOPED_TRACE(static_cast<int>(End));
    const Integer Before = V.DC->RecordCount();
    V.DC->SetNewItemRowFocused(true);
    ASSERT_TRUE(V.DC->NewItemRowFocused());
    const Integer NewItem = V.DC->NewItemRecordIndex();
    ASSERT_TRUE(V.DC->CanInitEditing(0));
    EXPECT_EQ(Log.Set->State(), dsInsert);
    EXPECT_EQ(V.DC->Provider()->EditingRecordIndex(), NewItem);
    EXPECT_TRUE(V.DC->SetEditValue(0, 777));
    EXPECT_TRUE(V.DC->SetEditValue(1, String(u"s777")));
    EXPECT_EQ(VarToInt(V.Value(NewItem, 0)), 777);
    EXPECT_EQ(V.DC->RecordCount(), Before);
    if (End != Post) {
      if (End == Cancel)
        V.DC->Cancel();
      else
        Log.Set->Cancel();
      EXPECT_EQ(Log.Set->State(), dsBrowse);
      EXPECT_EQ(V.DC->RecordCount(), Before);
      EXPECT_EQ(V.DC->DBProvider()->UpdatingNewRecordIndex(), -1);
      EXPECT_EQ(V.DC->FindRecordIndexByKey(Variant(Before + 1)), -1);
      continue;
    }
    V.DC->Post();
    EXPECT_EQ(Log.Set->State(), dsBrowse);
    ASSERT_EQ(V.DC->RecordCount(), Before + 1);
    const Integer R = V.DC->FocusedRecordIndex();
    ASSERT_EQ(R, Before);
    EXPECT_FALSE(V.DC->NewItemRowFocused());
    EXPECT_EQ(VarToInt(V.DC->GetRecordId(R)), Log.Set->FieldByName(u"Index")->AsInteger());
    EXPECT_EQ(VarToInt(V.DC->GetRecordId(R)), 3);
    EXPECT_EQ(VarToInt(V.Value(R, 0)), 777);
    EXPECT_EQ(VarToStr(V.Value(R, 1)), u"s777");
    EXPECT_EQ(V.DC->FindRecordIndexByKey(Variant(3)), R);
    EXPECT_EQ(V.DC->DBProvider()->UpdatingNewRecordIndex(), -1);
  }
  // Append and Insert with the row in use edit the new-item record too.
  for (const Boolean AsAppend : {true, false}) {
    if (AsAppend)
      V.DC->Append();
    else
      V.DC->Insert();
    EXPECT_EQ(Log.Set->State(), dsInsert);
    EXPECT_TRUE(V.DC->NewItemRowFocused());
    EXPECT_EQ(V.DC->Provider()->EditingRecordIndex(), V.DC->NewItemRecordIndex());
    V.DC->Cancel();
    EXPECT_EQ(V.DC->RecordCount(), 3);
  }
  // The stored records agree with the data set read again.
  Log.Set->Close();
  Log.Set->Open();
  EXPECT_EQ(V.DC->RecordCount(), 3);
  Log.Set->Close();
}
