// The data-set controller under failing posts, outside changes and reloads,
// against a real SQLite file: after each step the file is read through a
// second connection and compared with what the controller shows.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "lib/data/vlDBData.h"
#include "lib/data/vlValueTypes.h"
#include "platform/db/ADODB.h"
#include "platform/db/LogDatabase.h"
#include "platform/classes/Streams.h"
#include "platform/db/MemData.h"
#include "platform/rtl/CodePages.h"
#include "platform/rtl/Conversions.h"
#include "platform/rtl/Finally.h"
#include "platform/rtl/Variants.h"
#include "tests/support/TestSupport.h"

namespace {

using TComponentPtr = std::unique_ptr<TComponent, TObjectFree>;

String Text(const Variant& V) { return VarIsNull(V) ? String(u"<null>") : VarToStr(V); }

// An SQLite file with the table "item": Id the key, Name NOT NULL and
// UNIQUE, Amount never negative; rows Id 1..ACount, Name "nId", Amount Id*10.
// The controller's data set has its own connection; `Other` reads the file.
struct TItemDb {
  TComponentPtr Owner{New<TComponent>(nullptr)};
  TADOConnection* Conn{};
  TADOConnection* Other{};
  TADODataSet* Set{};
  TDataSource* Source{};
  TItemDb(const char* ADir, Integer ACount, const char16_t* ATable = u"item") {
    String File = UTF8ToUTF16(testing_support::MakeTempDir(ADir) + "/items.mdb");
    CreateLogDatabase(File);
    Conn = New<TADOConnection>(Owner.get());
    Conn->SetLoginPrompt(false);
    Conn->SetConnectionString(LogConnectionString(File));
    Conn->Open();
    Conn->Execute(String(u"CREATE TABLE ") + ATable +
                  u" (Id INTEGER PRIMARY KEY, Name VARCHAR(20) NOT NULL UNIQUE, Amount INTEGER CHECK (Amount >= 0))");
    Conn->BeginTrans();
    for (Integer I = 1; I <= ACount; ++I)
      Conn->Execute(Format(u"INSERT INTO %s VALUES (%d, 'n%d', %d)", {String(ATable), I, I, I * 10}));
    Conn->CommitTrans();
    Other = New<TADOConnection>(Owner.get());
    Other->SetLoginPrompt(false);
    Other->SetConnectionString(LogConnectionString(File));
    Other->Open();
    Set = New<TADODataSet>(Owner.get());
    Set->SetConnection(Conn);
    Set->SetCursorType(ctStatic);
    Set->SetCommandText(String(u"select * from ") + ATable + u" order by Id");
    Source = New<TDataSource>(Owner.get());
    Source->SetDataSet(Set);
  }
  // The rows of ATable as the file holds them: "Id:Name:Amount" in key order.
  String FileRows(const char16_t* ATable = u"item") {
    TComponentPtr Q(New<TADODataSet>(nullptr));
    auto* D = static_cast<TADODataSet*>(Q.get());
    D->SetConnection(Other);
    D->SetCommandText(String(u"select * from ") + ATable + u" order by Id");
    D->Open();
    String S;
    for (; !D->Eof(); D->Next()) {
      if (!S.empty()) S += u" ";
      for (Integer F = 0; F < D->FieldCount(); ++F)
        S += (F ? u":" : u"") + Text(D->Fields()->Fields(F)->Value());
    }
    return S;
  }
};

// A controller with one item per named field, keyed by "Id" when asked.
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
  // The stored records in record order, in FileRows' form.
  String Rows() {
    String S;
    for (Integer R = 0; R < DC->RecordCount(); ++R) {
      if (!S.empty()) S += u" ";
      for (Integer I = 0; I < DC->GetItemCount(); ++I) S += (I ? u":" : u"") + Text(DC->GetValue(R, I));
    }
    return S;
  }
};

class TRefuse : public TObject {
  CL_CLASS(TRefuse, TObject)
 public:
  Boolean Refuse{true};
  void BeforePost(TDataSet*) {
    if (Refuse) DatabaseError(u"refused");
  }
};

}  // namespace

CL_IMPLEMENT_CLASS(TRefuse)

// A post that fails while the focus moves (outside smart refresh) leaves
// the edit in progress with its typed value and every stored record as it
// was; the corrected value posts to the same row.
TEST(vlDBDataScenario, FailedPostOnAFocusMoveKeepsTheEditAndTheRecords) {
  TItemDb Db("dbscen1", 3);
  TView V(Db.Source, {u"Id", u"Name", u"Amount"});
  Db.Set->Open();
  const String Before = u"1:n1:10 2:n2:20 3:n3:30";
  ASSERT_EQ(V.Rows(), Before);
  V.DC->SetFocusedRecordIndex(1);
  Db.Set->Edit();
  Db.Set->FieldByName(u"Amount")->SetAsInteger(-5);
  EXPECT_THROW(V.DC->SetFocusedRecordIndex(2), EDatabaseError);
  EXPECT_EQ(Db.FileRows(), Before);
  EXPECT_EQ(Db.Set->State(), dsEdit);
  EXPECT_EQ(Db.Set->FieldByName(u"Amount")->AsInteger(), -5);
  EXPECT_EQ(V.Rows(), u"1:n1:10 2:n2:-5 3:n3:30");
  EXPECT_EQ(V.DC->FocusedRecordIndex(), 1);
  Db.Set->FieldByName(u"Amount")->SetAsInteger(25);
  V.DC->Post();
  EXPECT_EQ(Db.FileRows(), u"1:n1:10 2:n2:25 3:n3:30");
  EXPECT_EQ(V.Rows(), Db.FileRows());
}

// The same with the in-memory data set refusing the post in BeforePost.
TEST(vlDBDataScenario, RefusedPostOfTheInMemoryDataSetKeepsTheEdit) {
  TComponentPtr Owner(New<TComponent>(nullptr));
  auto* DS = New<TMemDataSet>(Owner.get());
  DS->FieldDefs()->Add(u"Id", ftInteger);
  DS->FieldDefs()->Add(u"Name", ftString, 20);
  DS->Open();
  for (Integer I = 1; I <= 3; ++I) DS->AppendRecord({Variant(I), Variant(u"n" + IntToStr(I))});
  DS->First();
  auto* Source = New<TDataSource>(Owner.get());
  Source->SetDataSet(DS);
  std::unique_ptr<TRefuse, TObjectFree> Sink(New<TRefuse>());
  DS->SetBeforePost(TDataSetNotifyEvent(Sink.get(), &TRefuse::BeforePost));
  TView V(Source, {u"Id", u"Name"});
  ASSERT_EQ(V.Rows(), u"1:n1 2:n2 3:n3");
  DS->Edit();
  DS->FieldByName(u"Name")->SetAsString(u"typed");
  EXPECT_THROW(V.DC->SetFocusedRecordIndex(2), EDatabaseError);
  EXPECT_EQ(DS->State(), dsEdit);
  EXPECT_EQ(V.Rows(), u"1:typed 2:n2 3:n3");
  Sink->Refuse = false;
  V.DC->Post();
  EXPECT_EQ(V.Rows(), u"1:typed 2:n2 3:n3");
  DS->First();
  EXPECT_EQ(DS->FieldByName(u"Name")->AsString(), u"typed");
}

// Smart refresh: an edit posted by the next Append or Insert shows its new
// value at once, and cancelling the new record leaves it so.
TEST(vlDBDataScenario, EditPostedByTheNextInsertShowsItsValue) {
  for (const Boolean Append : {true, false}) {
    SCOPED_TRACE(Append ? "Append" : "Insert");
    TItemDb Db(Append ? "dbscen3a" : "dbscen3i", 3);
    TView V(Db.Source, {u"Id", u"Name", u"Amount"}, u"Id");
    V.DC->DataModeController()->SetSmartRefresh(true);
    Db.Set->Open();
    V.DC->SetFocusedRecordIndex(1);
    V.DC->Edit();
    V.DC->SetEditValue(1, Variant(u"typed"));
    if (Append)
      V.DC->Append();
    else
      V.DC->Insert();
    EXPECT_EQ(Db.FileRows(), u"1:n1:10 2:typed:20 3:n3:30");
    EXPECT_EQ(Db.Set->State(), dsInsert);
    EXPECT_NE(V.Rows().find(u"2:typed:20"), String::npos) << UTF16ToUTF8(V.Rows());
    V.DC->Cancel();
    EXPECT_EQ(Db.Set->State(), dsBrowse);
    EXPECT_EQ(V.Rows(), Db.FileRows());
  }
}

// Smart refresh after an outside insert and delete that keep the row count:
// the refresh shows the rows as they are, and an edit of the focused row
// lands on that row.
TEST(vlDBDataScenario, RefreshWithTheSameCountShowsOutsideChanges) {
  TItemDb Db("dbscen4", 3);
  TView V(Db.Source, {u"Id", u"Name", u"Amount"}, u"Id");
  V.DC->DataModeController()->SetSmartRefresh(true);
  Db.Set->Open();
  Db.Other->Execute(u"DELETE FROM item WHERE Id = 1; INSERT INTO item VALUES (9, 'n9', 90)");
  Db.Set->Refresh();
  EXPECT_EQ(V.Rows(), u"2:n2:20 3:n3:30 9:n9:90");
  EXPECT_EQ(V.Rows(), Db.FileRows());
  V.DC->SetFocusedRecordIndex(0);
  V.DC->Edit();
  V.DC->SetEditValue(1, Variant(u"typed"));
  V.DC->Post();
  EXPECT_EQ(Db.FileRows(), u"2:typed:20 3:n3:30 9:n9:90");
  V.DC->SetFocusedRecordIndex(2);
  EXPECT_EQ(Db.FileRows(), u"2:typed:20 3:n3:30 9:n9:90");
  EXPECT_EQ(V.Rows(), Db.FileRows());
}

// The editing state is the data set's: modified while its record is, and a
// record stream loaded during the edit does not end it, so Post still writes.
TEST(vlDBDataScenario, EditingStateIsTheDataSets) {
  TItemDb Db("dbscen2", 3);
  TView V(Db.Source, {u"Id", u"Name", u"Amount"});
  Db.Set->Open();
  V.DC->SetFocusedRecordIndex(0);
  Db.Set->Edit();
  EXPECT_EQ(V.DC->EditState(), dceEdit);
  Db.Set->FieldByName(u"Amount")->SetAsInteger(15);
  EXPECT_EQ(V.DC->EditState(), dceEdit | dceModified);
  std::unique_ptr<TMemoryStream, TObjectFree> S(New<TMemoryStream>());
  V.DC->SaveToStream(S.get());
  S->SetPosition(0);
  V.DC->LoadFromStream(S.get());
  EXPECT_EQ(Db.Set->State(), dsEdit);
  EXPECT_TRUE(V.DC->EditState() & dceModified);
  EXPECT_EQ(Db.FileRows(), u"1:n1:10 2:n2:20 3:n3:30");
  V.DC->Post();
  EXPECT_EQ(Db.Set->State(), dsBrowse);
  EXPECT_EQ(Db.FileRows(), u"1:n1:15 2:n2:20 3:n3:30");
  EXPECT_EQ(V.Rows(), Db.FileRows());
}

namespace {

// A master view making one detail controller per expanded master record from a pattern.
class TScenarioMaster : public TvlDBDataController {
  CL_CLASS(TScenarioMaster, TvlDBDataController)
 public:
  TvlDBDataController* Pattern{};
  TObject* CreateDetailLinkObject(TvlCustomDataRelation* ARelation, Integer ARecordIndex) override {
    auto* D = New<TvlDBDataController>(nullptr);
    for (Integer I = 0; I < Pattern->GetItemCount(); ++I) D->AddItemForField(nullptr, Pattern->GetItemFieldName(I));
    D->SetMasterRelation(ARelation, ARecordIndex);
    D->Assign(Pattern);
    return D;
  }
  IvlDataController* GetDetailDataControllerByLinkObject(TObject* ALinkObject) override {
    return dynamic_cast<TvlDBDataController*>(ALinkObject);
  }
  TvlDBDataController* Detail(Integer ARecordIndex) {
    return dynamic_cast<TvlDBDataController*>(
        GetDetailDataControllerByLinkObject(GetDetailLinkObject(ARecordIndex, 0)));
  }
};

// Masters "item" 1..10 and their lines "line" (Id, MasterId, Qty): master M
// has lines M*100+1 and M*100+2 with Qty M*10+line.
struct TMasterDetailDb : TItemDb {
  TADODataSet* Lines{};
  TDataSource* LineSource{};
  TScenarioMaster* Master{};
  TvlDBDataController* Pattern{};
  TComponentPtr DetailItem{New<TComponent>(nullptr)};
  explicit TMasterDetailDb(const char* ADir) : TItemDb(ADir, 10) {
    Conn->Execute(u"CREATE TABLE line (Id INTEGER PRIMARY KEY, MasterId INTEGER NOT NULL, Qty INTEGER CHECK (Qty >= 0))");
    for (Integer M = 1; M <= 10; ++M)
      for (Integer L = 1; L <= 2; ++L)
        Conn->Execute(Format(u"INSERT INTO line VALUES (%d, %d, %d)", {M * 100 + L, M, M * 10 + L}));
    Lines = New<TADODataSet>(Owner.get());
    Lines->SetConnection(Conn);
    Lines->SetCursorType(ctStatic);
    Lines->SetCommandText(u"select * from line order by MasterId, Id");
    LineSource = New<TDataSource>(Owner.get());
    LineSource->SetDataSet(Lines);
    Master = New<TScenarioMaster>(nullptr);
    Master->AddItemForField(nullptr, u"Id");
    Master->AddItemForField(nullptr, u"Name");
    Master->SetKeyFieldNames(u"Id");
    Master->SetDataSource(Source);
    Pattern = New<TvlDBDataController>(nullptr);
    for (const char16_t* Name : {u"Id", u"MasterId", u"Qty"}) Pattern->AddItemForField(nullptr, Name);
    Pattern->SetKeyFieldNames(u"Id");
    Pattern->SetDetailKeyFieldNames(u"MasterId");
    Pattern->SetMasterKeyFieldNames(u"Id");
    Pattern->SetDataSource(LineSource);
    Master->Pattern = Pattern;
    Pattern->SetMasterMode(Master->Relations()->Add(DetailItem.get()), true);
  }
  ~TMasterDetailDb() {
    Free(Master);
    Free(Pattern);
  }
  // The master id of each stored line of the detail of master record R ("-" when not expanded).
  String DetailMasters(Integer R) {
    TvlDBDataController* D = Master->GetDetailExpanding(R) ? Master->Detail(R) : nullptr;
    if (!D) return u"-";
    String S;
    for (Integer I = 0; I < D->RecordCount(); ++I) S += (I ? u"," : u"") + Text(D->GetValue(I, 1));
    return S;
  }
};

}  // namespace

CL_IMPLEMENT_CLASS(TScenarioMaster)

// A reload that shifts the master records leaves no detail on another
// master's record: each expanded detail shows (and edits) its own master's lines.
TEST(vlDBDataScenario, ReloadKeepsDetailsWithTheirMasters) {
  TMasterDetailDb Db("dbscen5");
  Db.Set->Open();
  Db.Lines->Open();
  ASSERT_TRUE(Db.Master->ChangeDetailExpanding(9, true));
  ASSERT_EQ(Db.DetailMasters(9), u"10,10");
  // Master 1 goes outside; the reload moves master 10 to record 8.
  Db.Other->Execute(u"DELETE FROM item WHERE Id = 1");
  Db.Set->Refresh();
  ASSERT_EQ(Db.Master->RecordCount(), 9);
  for (Integer R = 0; R < 9; ++R) {
    const String Id = Text(Db.Master->GetValue(R, 0));
    const String Lines = Db.DetailMasters(R);
    EXPECT_TRUE(Lines == u"-" || Lines == Id + u"," + Id) << R << " " << UTF16ToUTF8(Lines);
  }
  ASSERT_EQ(Text(Db.Master->GetValue(8, 0)), u"10");
  EXPECT_EQ(Db.DetailMasters(8), u"10,10");
  // Editing the detail of master 10 writes master 10's line.
  TvlDBDataController* D = Db.Master->Detail(8);
  ASSERT_NE(D, nullptr);
  D->SetFocusedRecordIndex(0);
  D->Edit();
  D->SetEditValue(2, Variant(77));
  D->Post();
  EXPECT_NE(Db.FileRows(u"line").find(u"1001:10:77"), String::npos) << UTF16ToUTF8(Db.FileRows(u"line"));
  EXPECT_NE(Db.FileRows(u"line").find(u"901:9:91"), String::npos) << UTF16ToUTF8(Db.FileRows(u"line"));
}

// A pending edit is never cancelled without a word: a master's has-children
// question leaves a detail's edit alone (answering its default), grid-mode
// SelectAll posts it first (a failed post raises and selects nothing).
TEST(vlDBDataScenario, PendingEditsSurviveHasChildrenAndSelectAll) {
  {
    TMasterDetailDb Db("dbscen13a");
    Db.Set->Open();
    Db.Lines->Open();
    ASSERT_TRUE(Db.Master->ChangeDetailExpanding(9, true));
    TvlDBDataController* D = Db.Master->Detail(9);
    ASSERT_NE(D, nullptr);
    D->SetFocusedRecordIndex(1);
    D->Edit();
    D->SetEditValue(2, Variant(55));
    ASSERT_EQ(Db.Lines->State(), dsEdit);
    Db.Master->ResetHasChildrenFlag();
    EXPECT_TRUE(Db.Master->GetDetailHasChildren(2, 0));
    EXPECT_EQ(Db.Lines->State(), dsEdit);
    EXPECT_EQ(Db.Lines->FieldByName(u"Qty")->AsInteger(), 55);
    D->Post();
    EXPECT_NE(Db.FileRows(u"line").find(u"1002:10:55"), String::npos) << UTF16ToUTF8(Db.FileRows(u"line"));
  }
  TItemDb Db("dbscen13b", 30);
  TView V(Db.Source, {u"Id", u"Name", u"Amount"});
  V.DC->DataModeController()->SetGridMode(true);
  V.DC->DataModeController()->SetGridModeBufferCount(10);
  V.DC->SetMultiSelect(true);
  Db.Set->Open();
  Db.Set->Edit();
  Db.Set->FieldByName(u"Amount")->SetAsInteger(-1);
  EXPECT_THROW(V.DC->SelectAll(), EDatabaseError);
  EXPECT_EQ(Db.Set->State(), dsEdit);
  EXPECT_EQ(Db.Set->FieldByName(u"Amount")->AsInteger(), -1);
  EXPECT_EQ(V.DC->GetSelectedCount(), 0);
  Db.Set->FieldByName(u"Amount")->SetAsInteger(11);
  V.DC->SelectAll();
  EXPECT_EQ(Db.Set->State(), dsBrowse);
  EXPECT_EQ(V.DC->GetSelectedCount(), 30);
  EXPECT_EQ(Db.FileRows().substr(0, 8), u"1:n1:11 ");
}

namespace {

// A custom data source over the SQLite table "item": the handles are the
// rows' Ids, items 0 and 1 are Name and Amount, read and written in the file.
class TSqlItemSource : public TvlCustomDataSource {
  CL_CLASS(TSqlItemSource, TvlCustomDataSource)
 public:
  TADOConnection* Conn{};
  std::vector<Integer> Ids;
  Variant Query(const String& ASql) {
    TComponentPtr Q(New<TADODataSet>(nullptr));
    auto* D = static_cast<TADODataSet*>(Q.get());
    D->SetConnection(Conn);
    D->SetCommandText(ASql);
    D->Open();
    return D->Eof() ? Null() : D->Fields()->Fields(0)->Value();
  }
  static String Column(Integer AItem) { return AItem == 0 ? u"Name" : u"Amount"; }
  Integer GetRecordCount() override {
    Ids.clear();
    const Integer Max = VarIsNull(Query(u"select max(Id) from item")) ? 0 : Query(u"select max(Id) from item").AsInteger();
    for (Integer I = 1; I <= Max; ++I)
      if (!VarIsNull(Query(Format(u"select Id from item where Id = %d", {I})))) Ids.push_back(I);
    return static_cast<Integer>(Ids.size());
  }
  TRecordHandle GetRecordHandle(Integer ARecordIndex) override { return Ids[ARecordIndex]; }
  Variant GetValue(TRecordHandle H, Integer AItem) override {
    return Query(Format(u"select %s from item where Id = %d", {Column(AItem), static_cast<Integer>(H)}));
  }
  void SetValue(TRecordHandle H, Integer AItem, const Variant& AValue) override {
    if (H < 0) return;
    const String V = AItem == 0 ? u"'" + VarToStr(AValue) + u"'" : VarToStr(AValue);
    Conn->Execute(Format(u"UPDATE item SET %s = %s WHERE Id = %d", {Column(AItem), V, static_cast<Integer>(H)}));
  }
  TRecordHandle AppendRecord() override {
    const Integer Id = Query(u"select max(Id) from item").AsInteger() + 1;
    Conn->Execute(Format(u"INSERT INTO item VALUES (%d, 'new%d', 0)", {Id, Id}));
    return Id;
  }
  void DeleteRecord(TRecordHandle H) override {
    Conn->Execute(Format(u"DELETE FROM item WHERE Id = %d", {static_cast<Integer>(H)}));
  }
};

}  // namespace

CL_IMPLEMENT_CLASS(TSqlItemSource)

// Provider mode: Append and Insert make the record in the custom data
// source, so it has a handle and the typed value reaches the file. A
// cancelled new record, or one posted untouched (which cancels it), goes
// from the source too: no row left behind to come back at the next load.
TEST(vlDBDataScenario, ProviderModeNewRecordsGoToTheDataSource) {
  enum TEnd { Typed, Cancelled, Untouched };
  for (const Boolean Append : {true, false})
    for (const TEnd End : {Typed, Cancelled, Untouched}) {
      SCOPED_TRACE(std::string(Append ? "Append " : "Insert ") + std::to_string(End));
      TItemDb Db(("dbscen8" + std::to_string(Append) + std::to_string(End)).c_str(), 3);
      std::unique_ptr<TvlCustomDataController, TObjectFree> DC(New<TvlCustomDataController>(nullptr));
      std::vector<TComponentPtr> Columns;
      for (TvlValueTypeClass T :
           {TvlValueTypeClass(ClassOf<TvlStringValueType>()), TvlValueTypeClass(ClassOf<TvlIntegerValueType>())}) {
        Columns.emplace_back(New<TComponent>(nullptr));
        DC->AddItem(Columns.back().get())->SetValueTypeClass(T);
      }
      std::unique_ptr<TSqlItemSource, TObjectFree> Source(New<TSqlItemSource>());
      Source->Conn = Db.Conn;
      DC->SetCustomDataSource(Source.get());
      ASSERT_EQ(DC->RecordCount(), 3);
      DC->SetFocusedRecordIndex(1);
      if (Append)
        DC->Append();
      else
        DC->Insert();
      EXPECT_EQ(Db.FileRows(), u"1:n1:10 2:n2:20 3:n3:30 4:new4:0");
      if (End == Typed) {
        ASSERT_TRUE(DC->SetEditValue(1, Variant(44)));
        DC->Post();
        EXPECT_EQ(Db.FileRows(), u"1:n1:10 2:n2:20 3:n3:30 4:new4:44");
        EXPECT_EQ(DC->RecordCount(), 4);
        const Integer R = DC->FocusedRecordIndex();
        ASSERT_GE(R, 0);
        EXPECT_EQ(Text(DC->GetValue(R, 0)), u"new4");
        EXPECT_EQ(Text(DC->GetValue(R, 1)), u"44");
        continue;
      }
      if (End == Cancelled)
        DC->Cancel();
      else
        DC->Post();
      EXPECT_EQ(Db.FileRows(), u"1:n1:10 2:n2:20 3:n3:30");
      EXPECT_EQ(DC->RecordCount(), 3);
      Source->DataChanged();
      EXPECT_EQ(DC->RecordCount(), 3);
      for (Integer R = 0; R < 3; ++R) EXPECT_EQ(Text(DC->GetValue(R, 0)), u"n" + IntToStr(R + 1));
    }
}

// Records loaded from a stream are found by key: the key index of the
// records before does not outlive them.
TEST(vlDBDataScenario, KeysFindRecordsLoadedFromAStream) {
  TItemDb Small("dbscen12a", 3);
  TItemDb Big("dbscen12b", 10);
  TView A(Small.Source, {u"Id", u"Name", u"Amount"}, u"Id");
  TView B(Big.Source, {u"Id", u"Name", u"Amount"}, u"Id");
  Small.Set->Open();
  Big.Set->Open();
  ASSERT_TRUE(B.DC->LocateByKey(Variant(9)));
  std::unique_ptr<TMemoryStream, TObjectFree> S(New<TMemoryStream>());
  A.DC->SaveToStream(S.get());
  S->SetPosition(0);
  B.DC->LoadFromStream(S.get());
  ASSERT_EQ(B.Rows(), u"1:n1:10 2:n2:20 3:n3:30");
  EXPECT_EQ(B.DC->FindRecordIndexByKey(Variant(9)), -1);
  EXPECT_FALSE(B.DC->LocateByKey(Variant(9)));
  ASSERT_TRUE(B.DC->LocateByKey(Variant(3)));
  EXPECT_EQ(B.DC->FocusedRecordIndex(), 2);
  EXPECT_EQ(Big.Set->FieldByName(u"Id")->AsInteger(), 3);
  EXPECT_EQ(Big.FileRows().substr(0, 23), u"1:n1:10 2:n2:20 3:n3:30");
}

// An item whose field name the data set lacks takes no edit (it would be dropped).
TEST(vlDBDataScenario, ItemWithoutADataSetFieldRefusesEdits) {
  TItemDb Db("dbscen10", 3);
  TView V(Db.Source, {u"Id", u"Missing", u"Amount"});
  Db.Set->Open();
  V.DC->SetFocusedRecordIndex(0);
  EXPECT_FALSE(V.DC->CanInitEditing(1));
  EXPECT_FALSE(V.DC->SetEditValue(1, Variant(u"typed")));
  EXPECT_TRUE(V.DC->SetEditValue(2, Variant(12)));
  V.DC->Post();
  EXPECT_EQ(Db.FileRows(), u"1:n1:12 2:n2:20 3:n3:30");
  EXPECT_EQ(V.Rows(), u"1:<null>:12 2:<null>:20 3:<null>:30");
}

// The record stream keeps the display texts of text-stored items (a field
// with a display format): loaded rows show their texts.
TEST(vlDBDataScenario, RecordStreamKeepsDisplayTexts) {
  TItemDb Db("dbscen11", 3);
  Db.Set->Open();
  static_cast<TNumericField*>(Db.Set->FieldByName(u"Amount"))->SetDisplayFormat(u"0' kWh'");
  TView A(Db.Source, {u"Id", u"Amount"}, u"Id");
  TView B(Db.Source, {u"Id", u"Amount"}, u"Id");
  ASSERT_TRUE(A.DC->GetItemTextStored(1));
  ASSERT_EQ(A.DC->GetDisplayText(1, 1), u"20 kWh");
  std::unique_ptr<TMemoryStream, TObjectFree> S(New<TMemoryStream>());
  A.DC->SaveToStream(S.get());
  S->SetPosition(0);
  B.DC->LoadFromStream(S.get());
  for (Integer R = 0; R < 3; ++R) EXPECT_EQ(B.DC->GetDisplayText(R, 1), A.DC->GetDisplayText(R, 1)) << R;
  EXPECT_EQ(Db.FileRows(), u"1:n1:10 2:n2:20 3:n3:30");
}

// Cancelling an append in a detail leaves the master's focus (and the
// detail data set) on the detail's master.
TEST(vlDBDataScenario, CancelledDetailAppendKeepsTheMastersFocus) {
  for (const Boolean Smart : {false, true}) {
    SCOPED_TRACE(Smart ? "smart refresh" : "full load");
    TMasterDetailDb Db(Smart ? "dbscen9s" : "dbscen9f");
    Db.Pattern->DataModeController()->SetSmartRefresh(Smart);
    Db.Set->Open();
    Db.Lines->Open();
    Db.Master->SetFocusedRecordIndex(2);
    ASSERT_TRUE(Db.Master->ChangeDetailExpanding(2, true));
    TvlDBDataController* D = Db.Master->Detail(2);
    ASSERT_NE(D, nullptr);
    D->SetFocusedRecordIndex(0);
    const String Lines = Db.FileRows(u"line");
    D->Append();
    ASSERT_EQ(Db.Lines->State(), dsInsert);
    D->Cancel();
    EXPECT_EQ(Db.Lines->State(), dsBrowse);
    EXPECT_EQ(Db.Master->FocusedRecordIndex(), 2);
    EXPECT_EQ(Db.Lines->FieldByName(u"MasterId")->AsInteger(), 3);
    EXPECT_EQ(Db.FileRows(u"line"), Lines);
    D = Db.Master->Detail(2);
    ASSERT_NE(D, nullptr);
    EXPECT_EQ(D->EditState(), 0);
    EXPECT_EQ(Db.DetailMasters(2), u"3,3");
  }
}

// Grid mode: closing the data set or freeing its data source empties the
// window: no rows, no focus, no selected bookmarks.
TEST(vlDBDataScenario, GridModeWindowEmptiesWhenTheDataSetGoes) {
  for (const Boolean FreeSource : {false, true}) {
    SCOPED_TRACE(FreeSource ? "data source freed" : "data set closed");
    TItemDb Db(FreeSource ? "dbscen7f" : "dbscen7c", 30);
    TView V(Db.Source, {u"Id", u"Name"});
    V.DC->DataModeController()->SetGridMode(true);
    V.DC->DataModeController()->SetGridModeBufferCount(10);
    V.DC->SetMultiSelect(true);
    Db.Set->Open();
    ASSERT_EQ(V.DC->RecordCount(), 10);
    V.DC->SetFocusedRowIndex(3);
    V.DC->ChangeRowSelection(3, true);
    V.DC->ChangeRowSelection(5, true);
    ASSERT_EQ(V.DC->SelectedBookmarks()->Count(), 2);
    if (FreeSource)
      Free(Db.Source);
    else
      Db.Set->Close();
    EXPECT_EQ(V.DC->RecordCount(), 0);
    EXPECT_EQ(V.DC->FocusedRowIndex(), -1);
    EXPECT_EQ(V.DC->GetSelectedCount(), 0);
    EXPECT_EQ(V.DC->SelectedBookmarks()->Count(), 0);
    EXPECT_EQ(Db.FileRows().substr(0, 15), u"1:n1:10 2:n2:20");
  }
}

// Grid mode: navigation moves the data set, not only the focus inside the window.
TEST(vlDBDataScenario, GridModeNavigationGoesToTheDataSet) {
  TItemDb Db("dbscen6", 300);
  TView V(Db.Source, {u"Id", u"Name"});
  V.DC->DataModeController()->SetGridMode(true);
  Db.Set->Open();
  ASSERT_EQ(V.DC->RecordCount(), 100);
  auto Focused = [&] { return Text(V.DC->GetValue(V.DC->FocusedRecordIndex(), 0)); };
  auto Current = [&] { return Db.Set->FieldByName(u"Id")->AsInteger(); };
  V.DC->GotoLast();
  EXPECT_EQ(Current(), 300);
  EXPECT_EQ(Focused(), u"300");
  EXPECT_TRUE(V.DC->IsEOF());
  V.DC->GotoFirst();
  EXPECT_EQ(Current(), 1);
  EXPECT_EQ(Focused(), u"1");
  EXPECT_TRUE(V.DC->IsBOF());
  EXPECT_FALSE(V.DC->IsEOF());
  V.DC->MoveBy(150);
  EXPECT_EQ(Current(), 151);
  EXPECT_EQ(Focused(), u"151");
  V.DC->GotoNext();
  EXPECT_EQ(Current(), 152);
  V.DC->GotoPrev();
  EXPECT_EQ(Current(), 151);
  EXPECT_EQ(Focused(), u"151");
  EXPECT_EQ(Db.FileRows().substr(0, 15), u"1:n1:10 2:n2:20");
}

namespace {

// A view with an in-place editor: its pending text goes into the record
// when asked (UpdateData); a data-set field asking for its control finds it.
class TEditorView : public TvlDBDataController {
  CL_CLASS(TEditorView, TvlDBDataController)
 public:
  String Pending;
  Integer FocusedItem{-1};
  void UpdateData() override {
    if (Pending.empty()) return;
    const String Text = Pending;
    Pending.clear();
    SetEditValue(1, Variant(Text), evsText);
  }
  void FocusControl(Integer AItemIndex, Boolean& ADone) override {
    FocusedItem = AItemIndex;
    ADone = true;
  }
};

}  // namespace

CL_IMPLEMENT_CLASS(TEditorView)

// A view's pending editor text is written before a post, also one that
// starts outside the view (the data set's own Post).
TEST(vlDBDataScenario, PendingEditorTextIsWrittenBeforeAPost) {
  TItemDb Db("dbscen151", 3);
  std::unique_ptr<TEditorView, TObjectFree> V(New<TEditorView>(nullptr));
  std::vector<TComponentPtr> Columns;
  for (const char16_t* Name : {u"Id", u"Name", u"Amount"}) {
    Columns.emplace_back(New<TComponent>(nullptr));
    V->AddItemForField(Columns.back().get(), Name);
  }
  V->SetDataSource(Db.Source);
  Db.Set->Open();
  V->SetFocusedRecordIndex(1);
  // The editor began editing the cell (the controller is changing).
  Db.Set->Edit();
  ASSERT_TRUE(V->CanInitEditing(1));
  V->Pending = u"outside";
  Db.Set->Post();
  EXPECT_EQ(Db.FileRows(), u"1:n1:10 2:outside:20 3:n3:30");
  ASSERT_TRUE(V->CanInitEditing(1));
  V->Pending = u"inside";
  V->Post();
  EXPECT_EQ(Db.FileRows(), u"1:n1:10 2:inside:20 3:n3:30");
  EXPECT_EQ(Text(V->GetValue(1, 1)), u"inside");
  // A field asking for its control reaches the view with its item.
  Db.Set->FieldByName(u"Amount")->FocusControl();
  EXPECT_EQ(V->FocusedItem, 2);
}

// A data set that cannot be modified: its items take no edit; an unbound
// item (a value of the controller's own) is edited in the storage and posts
// at once, the file untouched.
TEST(vlDBDataScenario, ReadOnlyDataSetEditsPostAtOnce) {
  TItemDb Db("dbscenro", 3);
  Db.Set->SetLockType(ltReadOnly);
  TView V(Db.Source, {u"Id", u"Name", u""});
  V.DC->GetItemField(2)->SetValueTypeClass(ClassOf<TvlIntegerValueType>());
  Db.Set->Open();
  ASSERT_FALSE(V.DC->DBProvider()->CanModify());
  EXPECT_TRUE(V.DC->IsImmediatePost());
  // Nothing to append, delete, edit or insert; the edit is still shown.
  EXPECT_EQ(V.DC->EditOperations(), dceoShowEdit);
  V.DC->SetFocusedRecordIndex(0);
  EXPECT_FALSE(V.DC->SetEditValue(1, Variant(u"typed")));
  ASSERT_TRUE(V.DC->SetEditValue(2, Variant(5)));
  EXPECT_EQ(V.DC->EditState(), 0);
  EXPECT_EQ(Text(V.DC->GetValue(0, 2)), u"5");
  EXPECT_EQ(Db.FileRows(), u"1:n1:10 2:n2:20 3:n3:30");
}

// Two refused posts in a row (a UNIQUE name, then another cell edited and
// the focus moved again), then Cancel: the controller shows the file.
TEST(vlDBDataScenario, TwoRefusedPostsThenCancelMatchTheFile) {
  for (const Boolean Smart : {false, true}) {
    SCOPED_TRACE(Smart ? "smart refresh" : "full load");
    TItemDb Db(Smart ? "dbscen20s" : "dbscen20f", 3);
    TView V(Db.Source, {u"Id", u"Name", u"Amount"}, u"Id");
    V.DC->DataModeController()->SetSmartRefresh(Smart);
    Db.Set->Open();
    const String Before = u"1:n1:10 2:n2:20 3:n3:30";
    V.DC->SetFocusedRecordIndex(1);
    V.DC->Edit();
    V.DC->SetEditValue(1, Variant(u"n3"));
    EXPECT_THROW(V.DC->SetFocusedRecordIndex(2), EDatabaseError);
    EXPECT_EQ(V.DC->FocusedRecordIndex(), 1);
    V.DC->SetEditValue(2, Variant(21));
    EXPECT_THROW(V.DC->SetFocusedRecordIndex(0), EDatabaseError);
    EXPECT_EQ(V.DC->FocusedRecordIndex(), 1);
    EXPECT_EQ(Db.FileRows(), Before);
    V.DC->Cancel();
    EXPECT_EQ(Db.Set->State(), dsBrowse);
    EXPECT_EQ(Db.FileRows(), Before);
    EXPECT_EQ(V.Rows(), Before);
  }
}

// A delete the database refuses (a second connection holds a write
// transaction) raises and leaves every row in the controller and the file.
TEST(vlDBDataScenario, DeleteRefusedByALockKeepsTheRows) {
  for (const Boolean Smart : {false, true}) {
    SCOPED_TRACE(Smart ? "smart refresh" : "full load");
    TItemDb Db(Smart ? "dbscen21s" : "dbscen21f", 3);
    TView V(Db.Source, {u"Id", u"Name", u"Amount"}, u"Id");
    V.DC->DataModeController()->SetSmartRefresh(Smart);
    Db.Set->Open();
    const String Before = u"1:n1:10 2:n2:20 3:n3:30";
    V.DC->SetFocusedRecordIndex(1);
    Db.Conn->SetCommandTimeout(0);  // the lock refuses at once
    Db.Other->BeginTrans();
    Db.Other->Execute(u"INSERT INTO item VALUES (50, 'n50', 500)");
    EXPECT_ANY_THROW(V.DC->DeleteFocused());
    Db.Other->RollbackTrans();
    EXPECT_EQ(Db.FileRows(), Before);
    EXPECT_EQ(V.Rows(), Before);
    EXPECT_EQ(V.DC->FocusedRecordIndex(), 1);
    V.DC->DeleteFocused();
    EXPECT_EQ(Db.FileRows(), u"1:n1:10 3:n3:30");
    EXPECT_EQ(V.Rows(), Db.FileRows());
  }
}

// An edit whose row a second connection deletes: Post raises or writes
// nothing elsewhere; the controller ends showing the file.
TEST(vlDBDataScenario, EditOfARowDeletedOutside) {
  for (const Boolean Smart : {false, true}) {
    SCOPED_TRACE(Smart ? "smart refresh" : "full load");
    TItemDb Db(Smart ? "dbscen22s" : "dbscen22f", 3);
    TView V(Db.Source, {u"Id", u"Name", u"Amount"}, u"Id");
    V.DC->DataModeController()->SetSmartRefresh(Smart);
    Db.Set->Open();
    V.DC->SetFocusedRecordIndex(1);
    V.DC->Edit();
    V.DC->SetEditValue(2, Variant(99));
    Db.Other->Execute(u"DELETE FROM item WHERE Id = 2");
    try {
      V.DC->Post();
    } catch (const Exception&) {
      V.DC->Cancel();
    }
    EXPECT_EQ(Db.FileRows(), u"1:n1:10 3:n3:30");
    Db.Set->Refresh();
    EXPECT_EQ(V.Rows(), Db.FileRows());
  }
}

// Append in a detail whose master is itself being appended (no key yet):
// expanding the new master posts it first; a cancelled line leaves the
// file alone.
TEST(vlDBDataScenario, DetailAppendUnderAMasterWithoutAKey) {
  TMasterDetailDb Db("dbscen23");
  Db.Set->Open();
  Db.Lines->Open();
  const String Lines = Db.FileRows(u"line");
  Db.Master->Append();
  ASSERT_EQ(Db.Set->State(), dsInsert);
  const Integer R = Db.Master->FocusedRecordIndex();
  Db.Master->SetEditValue(1, Variant(u"typed"));
  ASSERT_TRUE(Db.Master->ChangeDetailExpanding(R, true));
  EXPECT_EQ(Db.Set->State(), dsBrowse);
  EXPECT_NE(Db.FileRows().find(u"11:typed:<null>"), String::npos) << UTF16ToUTF8(Db.FileRows());
  TvlDBDataController* D = Db.Master->Detail(R);
  ASSERT_NE(D, nullptr);
  D->Append();
  ASSERT_EQ(Db.Lines->State(), dsInsert);
  // The key SQLite generated for the new master reaches its record and the detail's link.
  EXPECT_EQ(Db.Set->FieldByName(u"Id")->AsInteger(), 11);
  EXPECT_EQ(Db.Lines->FieldByName(u"MasterId")->AsInteger(), 11);
  D->Cancel();
  EXPECT_EQ(Db.Lines->State(), dsBrowse);
  EXPECT_EQ(Db.FileRows(u"line"), Lines);
  EXPECT_EQ(Db.Master->RecordCount(), 11);
}

// What the controller offers: everything on a data set it follows; on a
// closed one only the edit display.
TEST(vlDBDataScenario, EditOperationsFollowTheDataSet) {
  TItemDb Db("dbscenops", 3);
  TView V(Db.Source, {u"Id", u"Name", u"Amount"});
  EXPECT_EQ(V.DC->EditOperations(), dceoShowEdit);
  Db.Set->Open();
  EXPECT_EQ(V.DC->EditOperations(), dceoAppend | dceoDelete | dceoEdit | dceoInsert | dceoShowEdit);
}

// Closing the data set while a value typed through the controller is
// pending posts it (with or without smart refresh); an unmodified edit is
// dropped as before; a post the database refuses raises out of Close, which
// then does not happen: the data set stays open with the typed value.
TEST(vlDBDataScenario, CloseKeepsATypedValue) {
  for (const Boolean Smart : {false, true}) {
    SCOPED_TRACE(Smart ? "smart refresh" : "full load");
    TItemDb Db(Smart ? "dbscenclose_s" : "dbscenclose_f", 3);
    TView V(Db.Source, {u"Id", u"Name", u"Amount"}, u"Id");
    V.DC->DataModeController()->SetSmartRefresh(Smart);
    Db.Set->Open();
    V.DC->SetFocusedRecordIndex(1);
    ASSERT_TRUE(V.DC->SetEditValue(1, Variant(u"typed")));
    Db.Set->Close();
    EXPECT_FALSE(Db.Set->Active());
    EXPECT_EQ(Db.FileRows(), u"1:n1:10 2:typed:20 3:n3:30");
    Db.Set->Open();
    EXPECT_EQ(V.Rows(), Db.FileRows());

    // Edit begun, nothing typed: the close simply ends it.
    V.DC->SetFocusedRecordIndex(0);
    V.DC->Edit();
    Db.Set->Close();
    EXPECT_EQ(Db.FileRows(), u"1:n1:10 2:typed:20 3:n3:30");
    Db.Set->Open();

    // The name is taken: the post fails, the close is refused.
    V.DC->SetFocusedRecordIndex(2);
    ASSERT_TRUE(V.DC->SetEditValue(1, Variant(u"n1")));
    EXPECT_THROW(Db.Set->Close(), EDatabaseError);
    EXPECT_TRUE(Db.Set->Active());
    EXPECT_EQ(Db.Set->State(), dsEdit);
    EXPECT_EQ(Db.Set->FieldByName(u"Name")->AsString(), u"n1");
    EXPECT_EQ(Db.FileRows(), u"1:n1:10 2:typed:20 3:n3:30");
    ASSERT_TRUE(V.DC->SetEditValue(1, Variant(u"n4")));
    Db.Set->Close();
    EXPECT_EQ(Db.FileRows(), u"1:n1:10 2:typed:20 3:n4:30");
    Db.Set->Open();
    EXPECT_EQ(V.Rows(), Db.FileRows());

    // Reopened inside disabled controls (as a query for new parameters):
    // the typed value is posted all the same.
    V.DC->SetFocusedRecordIndex(0);
    ASSERT_TRUE(V.DC->SetEditValue(1, Variant(u"inside")));
    Db.Set->DisableControls();
    Db.Set->Close();
    Db.Set->Open();
    Db.Set->EnableControls();
    EXPECT_EQ(Db.FileRows(), u"1:inside:10 2:typed:20 3:n4:30");
    EXPECT_EQ(V.Rows(), Db.FileRows());
  }
}

// Without key navigation the data set, after a delete, stands on its own
// next row; the controller focuses the row next to the deleted one in its
// own (sorted) order instead.
TEST(vlDBDataScenario, DeleteFocusesTheNearestRowOfTheView) {
  TItemDb Db("dbscennear", 4);
  TView V(Db.Source, {u"Id", u"Name", u"Amount"});
  Db.Set->Open();
  V.DC->ChangeSorting(2, soDescending);  // rows: Id 4, 3, 2, 1
  V.DC->SetFocusedRowIndex(1);            // Id 3
  ASSERT_EQ(Text(V.DC->GetValue(V.DC->FocusedRecordIndex(), 0)), u"3");
  V.DC->DeleteFocused();
  EXPECT_EQ(Db.FileRows(), u"1:n1:10 2:n2:20 4:n4:40");
  EXPECT_EQ(V.Rows(), Db.FileRows());
  EXPECT_EQ(Text(V.DC->GetValue(V.DC->FocusedRecordIndex(), 0)), u"2");
  EXPECT_EQ(V.DC->FocusedRowIndex(), 1);
  EXPECT_EQ(Db.Set->FieldByName(u"Id")->AsInteger(), 2);
}

namespace {
// Closes its data set from inside an event while asked to.
class TCloser : public TObject {
  CL_CLASS(TCloser, TObject)
 public:
  TDataSet* Set{};
  Boolean Armed{};
  Integer Calls{};
  void Close() {
    if (!Armed) return;
    ++Calls;
    Set->Close();
  }
  void DataSetEvent(TDataSet*) { Close(); }
  void ControllerEvent(TvlCustomDataController*) { Close(); }
};
}  // namespace

CL_IMPLEMENT_CLASS(TCloser)

// A close refused because the post fails is refused again while the value
// stays wrong, keeping the edit each time; a cancel then lets it close.
TEST(vlDBDataScenario, RefusedCloseTwiceKeepsTheEdit) {
  TItemDb Db("dbscenclose2", 3);
  TView V(Db.Source, {u"Id", u"Name", u"Amount"}, u"Id");
  Db.Set->Open();
  V.DC->SetFocusedRecordIndex(2);
  ASSERT_TRUE(V.DC->SetEditValue(2, Variant(-7)));
  for (Integer Round = 0; Round < 2; ++Round) {
    EXPECT_THROW(Db.Set->Close(), EDatabaseError);
    EXPECT_TRUE(Db.Set->Active());
    EXPECT_EQ(Db.Set->State(), dsEdit);
    EXPECT_EQ(Db.Set->FieldByName(u"Amount")->AsInteger(), -7);
    EXPECT_EQ(Db.Set->FieldByName(u"Id")->AsInteger(), 3);
    EXPECT_EQ(V.Rows(), u"1:n1:10 2:n2:20 3:n3:-7");
    EXPECT_EQ(Db.FileRows(), u"1:n1:10 2:n2:20 3:n3:30");
  }
  V.DC->Cancel();
  Db.Set->Close();
  EXPECT_FALSE(Db.Set->Active());
  EXPECT_EQ(V.DC->RecordCount(), 0);
  EXPECT_EQ(Db.FileRows(), u"1:n1:10 2:n2:20 3:n3:30");
}

// A close started from inside the events of the post it causes (the data
// set's BeforePost and AfterPost, the controller's after-post) neither
// recurses nor loses the typed value: from BeforePost it is refused and the
// edit stays, after the post it closes. Case 3: the close's own post meets a
// close in BeforePost; the outer close is refused too.
TEST(vlDBDataScenario, CloseFromInsideAnEvent) {
  for (Integer Where = 0; Where < 4; ++Where) {
    SCOPED_TRACE(Where);
    TItemDb Db(("dbsceninev" + std::to_string(Where)).c_str(), 3);
    TView V(Db.Source, {u"Id", u"Name", u"Amount"}, u"Id");
    std::unique_ptr<TCloser, TObjectFree> Closer(New<TCloser>());
    Closer->Set = Db.Set;
    if (Where == 0 || Where == 3)
      Db.Set->SetBeforePost(TDataSetNotifyEvent(Closer.get(), &TCloser::DataSetEvent));
    if (Where == 1) Db.Set->SetAfterPost(TDataSetNotifyEvent(Closer.get(), &TCloser::DataSetEvent));
    if (Where == 2) V.DC->SetOnAfterPost(TvlDataControllerNotifyEvent(Closer.get(), &TCloser::ControllerEvent));
    Db.Set->Open();
    V.DC->SetFocusedRecordIndex(1);
    ASSERT_TRUE(V.DC->SetEditValue(1, Variant(u"typed")));
    Closer->Armed = true;
    try {
      if (Where == 3)
        Db.Set->Close();
      else
        V.DC->Post();
    } catch (const EDatabaseError&) {
    }
    Closer->Armed = false;
    // Either the post happened, or the edit is still there with its value.
    if (Db.FileRows() != u"1:n1:10 2:typed:20 3:n3:30") {
      ASSERT_TRUE(Db.Set->Active());
      EXPECT_EQ(Db.Set->State(), dsEdit);
      EXPECT_EQ(Db.Set->FieldByName(u"Name")->AsString(), u"typed");
      EXPECT_EQ(V.Rows(), u"1:n1:10 2:typed:20 3:n3:30");
      // The kept edit posts once nothing closes from its events.
      V.DC->Post();
      EXPECT_EQ(Db.FileRows(), u"1:n1:10 2:typed:20 3:n3:30");
    }
    if (!Db.Set->Active()) Db.Set->Open();
    EXPECT_EQ(V.Rows(), Db.FileRows());
  }
}

// A data set freed while a value typed through the controller is pending:
// no crash, the controller empties, and the value is posted, not dropped. A
// post the database refuses cannot stop the freeing: the application's
// handler is told that the edit was lost, and nothing is thrown.
TEST(vlDBDataScenario, DataSetFreedWhileEditing) {
  static String Reported;
  Reported.clear();
  const auto Saved = ApplicationHandleException;
  ApplicationHandleException = [](TObject*) {
    try {
      throw;
    } catch (const Exception& E) {
      Reported = E.Message();
    }
  };
  Finally Restore([&] { ApplicationHandleException = Saved; });
  struct TCase {
    Boolean Smart, Append;
    Integer Item;
    Variant Value;
    const char16_t* File;
    const char16_t* Report;
  };
  const char16_t* Lost = u"The record being edited could not be saved and was dropped: ";
  const TCase Cases[] = {
      {false, false, 1, Variant(u"typed"), u"1:n1:10 2:typed:20 3:n3:30", u""},
      {true, false, 1, Variant(u"typed"), u"1:n1:10 2:typed:20 3:n3:30", u""},
      {false, false, 2, Variant(-7), u"1:n1:10 2:n2:20 3:n3:30", Lost},
      {true, false, 2, Variant(-7), u"1:n1:10 2:n2:20 3:n3:30", Lost},
      // A new record without its NOT NULL name.
      {false, true, 2, Variant(7), u"1:n1:10 2:n2:20 3:n3:30", Lost},
      {true, true, 2, Variant(7), u"1:n1:10 2:n2:20 3:n3:30", Lost},
  };
  Integer N = 0;
  for (const TCase& C : Cases) {
    SCOPED_TRACE(N);
    Reported.clear();
    TItemDb Db(("dbscenfree" + std::to_string(N++)).c_str(), 3);
    TView V(Db.Source, {u"Id", u"Name", u"Amount"}, u"Id");
    V.DC->DataModeController()->SetSmartRefresh(C.Smart);
    Db.Set->Open();
    V.DC->SetFocusedRecordIndex(1);
    if (C.Append) V.DC->Append();
    ASSERT_TRUE(V.DC->SetEditValue(C.Item, C.Value));
    Free(Db.Set);
    Db.Set = nullptr;
    EXPECT_EQ(V.DC->RecordCount(), 0);
    EXPECT_EQ(Db.FileRows(), C.File);
    EXPECT_EQ(Reported.substr(0, String(C.Report).size()), C.Report);
    if (*C.Report) EXPECT_NE(Reported.find(C.Append ? u"NOT NULL" : u"CHECK"), String::npos);
  }
}

// A post the database refuses because a second connection holds the write
// lock keeps the edit with its value, in the data set and in the view; once
// the lock is gone the same edit posts to its row. A close meanwhile is
// refused the same way.
TEST(vlDBDataScenario, PostRefusedByALockKeepsTheEdit) {
  for (const Boolean Smart : {false, true}) {
    SCOPED_TRACE(Smart ? "smart refresh" : "full load");
    TItemDb Db(Smart ? "dbscenlocks" : "dbscenlockf", 3);
    TView V(Db.Source, {u"Id", u"Name", u"Amount"}, u"Id");
    V.DC->DataModeController()->SetSmartRefresh(Smart);
    Db.Set->Open();
    const String Before = u"1:n1:10 2:n2:20 3:n3:30";
    V.DC->SetFocusedRecordIndex(1);
    ASSERT_TRUE(V.DC->SetEditValue(2, Variant(25)));
    Db.Conn->SetCommandTimeout(0);
    Db.Other->BeginTrans();
    Db.Other->Execute(u"INSERT INTO item VALUES (50, 'n50', 500)");
    EXPECT_THROW(V.DC->Post(), EDatabaseError);
    EXPECT_EQ(Db.Set->State(), dsEdit);
    EXPECT_EQ(V.DC->EditState() & dceModified, dceModified);
    EXPECT_THROW(V.DC->SetFocusedRecordIndex(2), EDatabaseError);
    EXPECT_THROW(Db.Set->Close(), EDatabaseError);
    EXPECT_EQ(V.DC->FocusedRecordIndex(), 1);
    EXPECT_EQ(Db.Set->FieldByName(u"Amount")->AsInteger(), 25);
    EXPECT_EQ(V.Rows(), u"1:n1:10 2:n2:25 3:n3:30");
    Db.Other->RollbackTrans();
    EXPECT_EQ(Db.FileRows(), Before);
    V.DC->Post();
    EXPECT_EQ(Db.FileRows(), u"1:n1:10 2:n2:25 3:n3:30");
    EXPECT_EQ(V.Rows(), Db.FileRows());
    EXPECT_EQ(V.DC->EditState(), 0);
  }
}

// A new record missing a NOT NULL value: the post raises and the insert
// stays with what was typed; completing it posts one row; cancelling a
// refused one leaves the view as the file. Appended and inserted, with and
// without smart refresh.
TEST(vlDBDataScenario, NewRecordRefusedByNotNull) {
  struct TCase {
    Boolean Smart, Insert, Complete;
  };
  const TCase Cases[] = {{false, false, true}, {true, false, true}, {false, true, true}, {true, true, true},
                         {false, false, false}, {true, true, false}};
  Integer N = 0;
  for (const TCase& C : Cases) {
    SCOPED_TRACE(N);
    TItemDb Db(("dbscennn" + std::to_string(N++)).c_str(), 3);
    TView V(Db.Source, {u"Id", u"Name", u"Amount"}, u"Id");
    V.DC->DataModeController()->SetSmartRefresh(C.Smart);
    Db.Set->Open();
    const String Before = u"1:n1:10 2:n2:20 3:n3:30";
    V.DC->SetFocusedRecordIndex(1);
    if (C.Insert)
      V.DC->Insert();
    else
      V.DC->Append();
    ASSERT_EQ(Db.Set->State(), dsInsert);
    ASSERT_TRUE(V.DC->SetEditValue(0, Variant(7)));
    ASSERT_TRUE(V.DC->SetEditValue(2, Variant(70)));
    EXPECT_THROW(V.DC->Post(), EDatabaseError);
    EXPECT_EQ(Db.Set->State(), dsInsert);
    EXPECT_EQ(Db.Set->FieldByName(u"Amount")->AsInteger(), 70);
    EXPECT_EQ(Db.FileRows(), Before);
    EXPECT_EQ(V.DC->RecordCount(), 4);
    if (C.Complete) {
      ASSERT_TRUE(V.DC->SetEditValue(1, Variant(u"n7")));
      V.DC->Post();
      EXPECT_EQ(Db.FileRows(), u"1:n1:10 2:n2:20 3:n3:30 7:n7:70");
      EXPECT_EQ(Text(V.DC->GetValue(V.DC->FocusedRecordIndex(), 0)), u"7");
    } else {
      V.DC->Cancel();
      EXPECT_EQ(Db.FileRows(), Before);
    }
    EXPECT_EQ(Db.Set->State(), dsBrowse);
    String Sorted;
    {
      // The view's rows in key order, as the file lists them.
      std::vector<std::pair<Integer, String>> Rows;
      for (Integer R = 0; R < V.DC->RecordCount(); ++R) {
        String S;
        for (Integer I = 0; I < 3; ++I) S += (I ? u":" : u"") + Text(V.DC->GetValue(R, I));
        Rows.emplace_back(VarToStr(V.DC->GetValue(R, 0)).empty() ? -1 : V.DC->GetValue(R, 0).AsInteger(), S);
      }
      std::sort(Rows.begin(), Rows.end());
      for (auto& R : Rows) Sorted += (Sorted.empty() ? u"" : u" ") + R.second;
    }
    EXPECT_EQ(Sorted, Db.FileRows());
  }
}

// A detail edit the database refuses (a negative quantity) stops the
// master's focus move: the master stays, the detail keeps its edit, the file
// is untouched; corrected, the move posts it.
TEST(vlDBDataScenario, RefusedDetailPostKeepsTheMastersFocus) {
  TMasterDetailDb Db("dbscenmdref");
  Db.Set->Open();
  Db.Lines->Open();
  const String Lines = Db.FileRows(u"line");
  Db.Master->SetFocusedRecordIndex(3);
  ASSERT_TRUE(Db.Master->ChangeDetailExpanding(3, true));
  TvlDBDataController* D = Db.Master->Detail(3);
  ASSERT_NE(D, nullptr);
  D->SetFocusedRecordIndex(1);
  ASSERT_TRUE(D->SetEditValue(2, Variant(-1)));
  ASSERT_EQ(Db.Lines->State(), dsEdit);
  EXPECT_THROW(Db.Master->SetFocusedRecordIndex(5), EDatabaseError);
  EXPECT_EQ(Db.Master->FocusedRecordIndex(), 3);
  EXPECT_EQ(Db.Lines->State(), dsEdit);
  EXPECT_EQ(Db.Lines->FieldByName(u"Qty")->AsInteger(), -1);
  EXPECT_EQ(Db.Lines->FieldByName(u"Id")->AsInteger(), 402);
  EXPECT_EQ(Db.FileRows(u"line"), Lines);
  ASSERT_TRUE(D->SetEditValue(2, Variant(4)));
  Db.Master->SetFocusedRecordIndex(5);
  EXPECT_EQ(Db.Master->FocusedRecordIndex(), 5);
  EXPECT_NE(Db.FileRows(u"line").find(u"402:4:4"), String::npos) << UTF16ToUTF8(Db.FileRows(u"line"));
  EXPECT_EQ(Db.Set->FieldByName(u"Id")->AsInteger(), 6);
}

// Closing while a new record typed through the controller is pending
// (full load, smart refresh, grid mode): a complete record is posted; one
// missing its NOT NULL name refuses the close and keeps the insert, which
// posts once completed.
TEST(vlDBDataScenario, CloseWhileInsertingPostsOrRefuses) {
  struct TCase {
    Boolean Smart, Grid, Complete;
  };
  const TCase Cases[] = {{false, false, true}, {true, false, true}, {false, true, true},
                         {false, false, false}, {true, false, false}, {false, true, false}};
  Integer N = 0;
  for (const TCase& C : Cases) {
    SCOPED_TRACE(N);
    TItemDb Db(("dbscenci" + std::to_string(N++)).c_str(), 3);
    TView V(Db.Source, {u"Id", u"Name", u"Amount"}, u"Id");
    V.DC->DataModeController()->SetSmartRefresh(C.Smart);
    V.DC->DataModeController()->SetGridMode(C.Grid);
    Db.Set->Open();
    V.DC->Append();
    ASSERT_EQ(Db.Set->State(), dsInsert);
    ASSERT_TRUE(V.DC->SetEditValue(0, Variant(7)));
    if (C.Complete) ASSERT_TRUE(V.DC->SetEditValue(1, Variant(u"n7")));
    ASSERT_TRUE(V.DC->SetEditValue(2, Variant(70)));
    if (C.Complete) {
      Db.Set->Close();
      EXPECT_EQ(Db.FileRows(), u"1:n1:10 2:n2:20 3:n3:30 7:n7:70");
      Db.Set->Open();
    } else {
      EXPECT_THROW(Db.Set->Close(), EDatabaseError);
      EXPECT_EQ(Db.Set->State(), dsInsert);
      EXPECT_EQ(Db.Set->FieldByName(u"Amount")->AsInteger(), 70);
      ASSERT_TRUE(V.DC->SetEditValue(1, Variant(u"n7")));
      Db.Set->Close();
      EXPECT_EQ(Db.FileRows(), u"1:n1:10 2:n2:20 3:n3:30 7:n7:70");
      Db.Set->Open();
    }
    if (!C.Grid) EXPECT_EQ(V.Rows(), Db.FileRows());
  }
}

// Grid mode under failures: an edit of a row deleted outside raises and
// cancels cleanly; a post refused by a second connection's lock keeps the
// edit in the window and posts once the lock is gone; freeing the data set
// posts the typed value.
TEST(vlDBDataScenario, GridModeEditsUnderFailures) {
  TItemDb Db("dbscenprobeg", 3);
  TView V(Db.Source, {u"Id", u"Name", u"Amount"}, u"Id");
  V.DC->DataModeController()->SetGridMode(true);
  Db.Set->Open();
  V.DC->SetFocusedRecordIndex(1);
  ASSERT_TRUE(V.DC->SetEditValue(2, Variant(99)));
  Db.Other->Execute(u"DELETE FROM item WHERE Id = 2");
  try {
    V.DC->Post();
  } catch (const Exception&) {
    V.DC->Cancel();
  }
  EXPECT_EQ(Db.FileRows(), u"1:n1:10 3:n3:30");
  Db.Set->Refresh();
  EXPECT_EQ(V.Rows(), Db.FileRows());
  V.DC->SetFocusedRecordIndex(1);
  ASSERT_TRUE(V.DC->SetEditValue(2, Variant(31)));
  Db.Conn->SetCommandTimeout(0);
  Db.Other->BeginTrans();
  Db.Other->Execute(u"INSERT INTO item VALUES (50, 'n50', 500)");
  EXPECT_THROW(V.DC->Post(), EDatabaseError);
  EXPECT_EQ(Db.Set->State(), dsEdit);
  EXPECT_EQ(V.Rows(), u"1:n1:10 3:n3:31");
  Db.Other->RollbackTrans();
  V.DC->Post();
  EXPECT_EQ(Db.FileRows(), u"1:n1:10 3:n3:31");
  EXPECT_EQ(V.Rows(), Db.FileRows());
  V.DC->SetFocusedRecordIndex(0);
  ASSERT_TRUE(V.DC->SetEditValue(1, Variant(u"g")));
  Free(Db.Set);
  Db.Set = nullptr;
  EXPECT_EQ(Db.FileRows(), u"1:g:10 3:n3:31");
  EXPECT_EQ(V.DC->RecordCount(), 0);
}

// A pending new record ended by a click on another row (cancelled when
// untouched, posted when typed) moves the records after it; the click still
// lands on the row the user saw, in the view and in the data set.
TEST(vlDBDataScenario, ClickAfterAPendingNewRecordLandsOnTheRowClicked) {
  struct TCase {
    Boolean Keys, Smart, Insert, Typed;
  };
  const TCase Cases[] = {
      {true, false, false, false}, {true, true, false, false}, {true, false, true, false},
      {true, true, true, false},   {false, false, true, false}, {false, false, false, false},
      {true, false, true, true},   {true, true, true, true},   {true, false, false, true},
      {false, false, true, true},
  };
  Integer N = 0;
  for (const TCase& C : Cases) {
    SCOPED_TRACE(N);
    TItemDb Db(("dbscenclick" + std::to_string(N++)).c_str(), 4);
    TView V(Db.Source, {u"Id", u"Name", u"Amount"}, C.Keys ? u"Id" : u"");
    V.DC->DataModeController()->SetSmartRefresh(C.Smart);
    Db.Set->Open();
    V.DC->SetFocusedRowIndex(1);
    if (C.Insert)
      V.DC->Insert();
    else
      V.DC->Append();
    ASSERT_EQ(Db.Set->State(), dsInsert);
    if (C.Typed)
      for (Integer I = 0; I < 3; ++I)
        ASSERT_TRUE(V.DC->SetEditValue(I, I == 1 ? Variant(u"n9") : Variant(I == 0 ? 9 : 90)));
    Integer Target = -1;
    for (Integer R = 0; R < V.DC->GetRowCount(); ++R)
      if (Text(V.DC->GetValue(V.DC->GetRowInfo(R).RecordIndex, 0)) == u"3") Target = R;
    ASSERT_GE(Target, 0);
    V.DC->SetFocusedRowIndex(Target);
    EXPECT_EQ(Db.Set->State(), dsBrowse);
    EXPECT_EQ(Text(V.DC->GetValue(V.DC->FocusedRecordIndex(), 0)), u"3");
    EXPECT_EQ(Db.Set->FieldByName(u"Id")->AsInteger(), 3);
    EXPECT_EQ(Db.FileRows(), C.Typed ? u"1:n1:10 2:n2:20 3:n3:30 4:n4:40 9:n9:90" : u"1:n1:10 2:n2:20 3:n3:30 4:n4:40");
    EXPECT_EQ(V.DC->GetRowCount(), C.Typed ? 5 : 4);
    // The next edit goes to the row clicked.
    ASSERT_TRUE(V.DC->SetEditValue(2, Variant(33)));
    V.DC->Post();
    EXPECT_NE(Db.FileRows().find(u"3:n3:33"), String::npos) << UTF16ToUTF8(Db.FileRows());
  }
}

// The connection freed while a value typed through the controller is
// pending: the value is posted before the connection goes; a post the
// database refuses is reported to the application's handler as a dropped
// edit, the data set closes and nothing is thrown out of the freeing.
TEST(vlDBDataScenario, ConnectionFreedWhileEditing) {
  static String Reported;
  const auto Saved = ApplicationHandleException;
  ApplicationHandleException = [](TObject*) {
    try {
      throw;
    } catch (const Exception& E) {
      Reported = E.Message();
    }
  };
  Finally Restore([&] { ApplicationHandleException = Saved; });
  for (const Boolean Refused : {false, true}) {
    SCOPED_TRACE(Refused);
    Reported.clear();
    TItemDb Db(Refused ? "dbscenconnr" : "dbscenconn", 3);
    TView V(Db.Source, {u"Id", u"Name", u"Amount"}, u"Id");
    Db.Set->Open();
    V.DC->SetFocusedRecordIndex(1);
    ASSERT_TRUE(V.DC->SetEditValue(2, Variant(Refused ? -5 : 25)));
    Free(Db.Conn);
    Db.Conn = nullptr;
    EXPECT_FALSE(Db.Set->Active());
    EXPECT_EQ(V.DC->RecordCount(), 0);
    EXPECT_EQ(Db.FileRows(), Refused ? u"1:n1:10 2:n2:20 3:n3:30" : u"1:n1:10 2:n2:25 3:n3:30");
    if (Refused) {
      const String Prefix = u"The record being edited could not be saved and was dropped: ";
      EXPECT_EQ(Reported.substr(0, Prefix.size()), Prefix);
      EXPECT_NE(Reported.find(u"CHECK"), String::npos);
    } else {
      EXPECT_TRUE(Reported.empty());
    }
  }
}
