#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "lib/data/vlDBData.h"
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
  std::string Dir = testing_support::MakeTempDir("dbdata");
  String File = UTF8ToUTF16(Dir + "/cardloader.mdb");
  CreateLogDatabase(File);
  TComponentPtr Owner(New<TComponent>(nullptr));
  auto* Conn = New<TADOConnection>(Owner.get());
  Conn->SetLoginPrompt(false);
  Conn->SetConnectionString(LogConnectionString(File));
  auto* Set = New<TADODataSet>(Owner.get());
  Set->SetConnection(Conn);
  Set->SetCursorType(ctStatic);
  Set->SetCommandText(u"select * from log");
  auto* Proc = New<TADOStoredProc>(Owner.get());
  Proc->SetConnection(Conn);
  Proc->SetProcedureName(u"Ekle");
  DeclareLogProcedure(Proc);
  auto AddLog = [&](Integer AKontor) {
    TParameters* P = Proc->Parameters();
    P->Items(0)->SetValue(Variant(static_cast<Word>(AKontor)));
    P->Items(1)->SetValue(Variant(String(u"1234")));
    P->Items(2)->SetValue(Variant(String(u"F1")));
    for (int I = 0; I < 5; ++I) P->Items(3 + I)->SetValue(Variant(1.5));
    P->Items(8)->SetValue(Variant(static_cast<Byte>(1)));
    P->Items(9)->SetValue(Variant(false));
    P->Items(10)->SetValue(Variant(static_cast<Byte>(2)));
    P->Items(11)->SetValue(Variant(String(u"Merkez")));
    P->Items(12)->SetValue(VarFromDateTime(46000.5));
    P->Items(13)->SetValue(Variant(String(u"K1")));
    P->Items(14)->SetValue(Variant(0));
    Proc->ExecProc();
  };
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
