// The data-set controller's fields, filter, summary items and master-detail
// by key field names, over in-memory data sets and the log database.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "lib/data/vlDBData.h"
#include "platform/classes/Lists.h"
#include "platform/db/MemData.h"
#include "platform/rtl/Conversions.h"
#include "platform/rtl/Variants.h"
#include "tests/lib/data/LogTestDatabase.h"

namespace {

using TComponentPtr = std::unique_ptr<TComponent, TObjectFree>;

Integer AsInt(const Variant& V) { return StrToInt(VarToStr(V)); }

Variant Pair(const Variant& A, const Variant& B) {
  Variant V = VarArrayCreate({0, 1}, varVariant);
  VarArrayPut(V, A, {0});
  VarArrayPut(V, B, {1});
  return V;
}

// Masters 1..10; master N has no lines when N is a multiple of 3, else N % 3 + 1
// lines; a line's Qty is N * 10 + line. Lines are stored by master.
Integer LineCount(Integer AMaster) { return AMaster % 3 == 0 ? 0 : AMaster % 3 + 1; }

// Filters the lines by the "MasterID" parameter, as a query with a parameter would.
class TLineQuery : public TObject {
  CL_CLASS(TLineQuery, TObject)
 public:
  TMemDataSet* DS{};
  Integer Opens{};
  void Filter(TDataSet*, Boolean& Accept) {
    Accept = AsInt(DS->FieldByName(u"MasterID")->Value()) == DS->Params()->ParamByName(u"MasterID")->AsInteger();
  }
  void AfterOpen(TDataSet*) { ++Opens; }
  // Answers from the key alone, as a view that knows its data would.
  void HasChildren(TvlDBDataController*, Integer, Integer, const String& ANames, const Variant& AValues,
                   Boolean& AHasChildren) {
    AHasChildren = ANames == u"MasterID" && LineCount(AsInt(AValues)) > 0;
  }
};
CL_IMPLEMENT_CLASS(TLineQuery)

struct TMasterDetailData {
  TComponentPtr Owner{New<TComponent>(nullptr)};
  TMemDataSet* Masters{};
  TMemDataSet* Lines{};
  TDataSource* MasterSource{};
  TDataSource* LineSource{};
  TMasterDetailData() {
    Masters = New<TMemDataSet>(Owner.get());
    Masters->FieldDefs()->Add(u"ID", ftInteger);
    Masters->FieldDefs()->Add(u"Name", ftString, 20);
    Masters->Open();
    for (Integer I = 1; I <= 10; ++I) Masters->AppendRecord({Variant(I), Variant(u"m" + IntToStr(I))});
    Masters->Close();
    Lines = New<TMemDataSet>(Owner.get());
    Lines->FieldDefs()->Add(u"MasterID", ftInteger);
    Lines->FieldDefs()->Add(u"Line", ftInteger);
    Lines->FieldDefs()->Add(u"Qty", ftInteger);
    Lines->Open();
    for (Integer M = 1; M <= 10; ++M)
      for (Integer L = 1; L <= LineCount(M); ++L) Lines->AppendRecord({Variant(M), Variant(L), Variant(M * 10 + L)});
    Lines->Close();
    MasterSource = New<TDataSource>(Owner.get());
    MasterSource->SetDataSet(Masters);
    LineSource = New<TDataSource>(Owner.get());
    LineSource->SetDataSet(Lines);
  }
};

// Persistent fields: the lines' data fields and the master's name looked up by "MasterID".
void AddMasterNameLookup(TMasterDetailData& D) {
  for (Integer I = 0; I < D.Lines->FieldDefs()->Count(); ++I) D.Lines->FieldDefs()->Items(I)->CreateField(D.Lines, D.Lines);
  TStringField* Name = New<TStringField>(D.Lines);
  Name->SetFieldName(u"MasterName");
  Name->SetFieldKind(fkLookup);
  Name->SetKeyFields(u"MasterID");
  Name->SetLookupDataSet(D.Masters);
  Name->SetLookupKeyFields(u"ID");
  Name->SetLookupResultField(u"Name");
  Name->SetDataSet(D.Lines);
}

// The lines as a query by "MasterID": a parameter and a filter that follows it.
std::unique_ptr<TLineQuery, TObjectFree> LineQuery(TMasterDetailData& F) {
  std::unique_ptr<TLineQuery, TObjectFree> Query(New<TLineQuery>());
  Query->DS = F.Lines;
  F.Lines->Params()->CreateParam(ftInteger, u"MasterID", ptInput)->SetValue(Variant(0));
  F.Lines->SetOnFilterRecord(TFilterRecordEvent(Query.get(), &TLineQuery::Filter));
  F.Lines->SetFiltered(true);
  return Query;
}

// A master view: one detail controller per expanded master record, made
// from the pattern as a grid's detail view makes its clones.
class TMasterView : public TvlDBDataController {
  CL_CLASS(TMasterView, TvlDBDataController)
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
    return dynamic_cast<TvlDBDataController*>(GetDetailDataControllerByLinkObject(GetDetailLinkObject(ARecordIndex, 0)));
  }
};
CL_IMPLEMENT_CLASS(TMasterView)

struct TMasterDetail : TMasterDetailData {
  TMasterView* Master{};
  TvlDBDataController* Pattern{};
  TComponentPtr DetailItem{New<TComponent>(nullptr)};
  explicit TMasterDetail(Boolean ASQLMode = false) {
    Master = New<TMasterView>(nullptr);
    Master->AddItemForField(nullptr, u"ID");
    Master->AddItemForField(nullptr, u"Name");
    Master->SetKeyFieldNames(u"ID");
    Master->SetDataSource(MasterSource);
    Pattern = New<TvlDBDataController>(nullptr);
    for (const char16_t* Name : {u"MasterID", u"Line", u"Qty"}) Pattern->AddItemForField(nullptr, Name);
    Pattern->SetKeyFieldNames(u"MasterID;Line");
    Pattern->SetDetailKeyFieldNames(u"MasterID");
    Pattern->SetMasterKeyFieldNames(u"ID");
    Pattern->DataModeController()->SetDetailInSQLMode(ASQLMode);
    Pattern->SetDataSource(LineSource);
    Master->Pattern = Pattern;
    Pattern->SetMasterMode(Master->Relations()->Add(DetailItem.get()), true);
  }
  ~TMasterDetail() {
    Free(Master);
    Free(Pattern);
  }
  Integer MasterFocusedID() { return AsInt(Master->GetValue(Master->FocusedRecordIndex(), 0)); }
};

}  // namespace

TEST(vlDBDataDetail, DetailsByKeyNamesAndHasChildren) {
  TMasterDetail F;
  F.Masters->Open();
  F.Lines->Open();
  ASSERT_EQ(F.Master->RecordCount(), 10);
  EXPECT_TRUE(F.Pattern->IsPattern());
  EXPECT_EQ(F.Pattern->RecordCount(), 0);
  auto* Relation = dynamic_cast<TvlDBDataRelation*>(F.Master->Relations()->Items(0));
  ASSERT_NE(Relation, nullptr);
  EXPECT_TRUE(Relation->IsLinked());
  EXPECT_EQ(AsInt(Relation->GetMasterRecordID(4)), 5);
  // Has-children locates the detail rows and leaves the detail data set where it was.
  F.Lines->MoveBy(4);
  const Integer Before = F.Lines->RecNo();
  for (Integer R = 0; R < 10; ++R) EXPECT_EQ(F.Master->GetDetailHasChildren(R, 0), LineCount(R + 1) > 0) << R;
  EXPECT_EQ(F.Lines->RecNo(), Before);
  // Expanding master 5 makes its detail controller with master 5's lines.
  ASSERT_TRUE(F.Master->ChangeDetailExpanding(4, true));
  TvlDBDataController* D5 = F.Master->Detail(4);
  ASSERT_NE(D5, nullptr);
  EXPECT_TRUE(D5->IsDetailClone());
  EXPECT_EQ(AsInt(D5->MasterDetailKeyValues()), 5);
  ASSERT_EQ(D5->RecordCount(), LineCount(5));
  for (Integer R = 0; R < D5->RecordCount(); ++R) {
    EXPECT_EQ(AsInt(D5->GetValue(R, 0)), 5);
    EXPECT_EQ(AsInt(D5->GetValue(R, 2)), 50 + R + 1);
  }
  EXPECT_NE(F.Master->FocusedRecordIndex(), 4);  // expanding leaves the focus outside grid mode
  // Once the detail exists, it answers has-children itself; a master without lines has an empty detail.
  EXPECT_TRUE(F.Master->GetDetailHasChildren(4, 0));
  F.Master->SetFocusedRecordIndex(5);
  ASSERT_TRUE(F.Master->ChangeDetailExpanding(5, true));
  ASSERT_NE(F.Master->Detail(5), nullptr);
  EXPECT_EQ(F.Master->Detail(5)->RecordCount(), 0);
  // Reading the details puts the detail data set back: the master stays.
  EXPECT_EQ(F.MasterFocusedID(), 6);
  EXPECT_FALSE(F.Master->GetDetailHasChildren(5, 0));
  // Focusing a detail row moves the detail data set there.
  D5->SetFocusedRecordIndex(2);
  EXPECT_EQ(AsInt(F.Lines->FieldByName(u"MasterID")->Value()), 5);
  EXPECT_EQ(AsInt(F.Lines->FieldByName(u"Line")->Value()), 3);
}

TEST(vlDBDataDetail, TheMasterFollowsTheDetailDataSet) {
  TMasterDetail F;
  F.Masters->Open();
  F.Lines->Open();
  EXPECT_EQ(F.MasterFocusedID(), 1);
  // The detail data set goes to master 7's second line: the master row follows,
  // its details open and the detail controller stands on that line.
  ASSERT_TRUE(F.Lines->Locate(u"MasterID;Line", Pair(Variant(7), Variant(2)), TLocateOptions()));
  EXPECT_EQ(F.MasterFocusedID(), 7);
  EXPECT_EQ(AsInt(F.Masters->FieldByName(u"ID")->Value()), 7);
  EXPECT_TRUE(F.Master->GetDetailExpanding(6));
  TvlDBDataController* D7 = F.Master->Detail(6);
  ASSERT_NE(D7, nullptr);
  ASSERT_EQ(D7->RecordCount(), LineCount(7));
  ASSERT_GE(D7->FocusedRecordIndex(), 0);
  EXPECT_EQ(AsInt(D7->GetValue(D7->FocusedRecordIndex(), 1)), 2);
  // The detail data set stays on the line that was located.
  EXPECT_EQ(AsInt(F.Lines->FieldByName(u"MasterID")->Value()), 7);
  EXPECT_EQ(AsInt(F.Lines->FieldByName(u"Line")->Value()), 2);
  // Moving on to another master's line moves the master again.
  F.Lines->Last();
  EXPECT_EQ(F.MasterFocusedID(), 10);
  EXPECT_TRUE(F.Master->GetDetailExpanding(9));
  // A master of its own choice stays when the detail data set only changes in place.
  F.Master->SetFocusedRecordIndex(5);
  F.Lines->Refresh();
  EXPECT_EQ(F.MasterFocusedID(), 6);
  EXPECT_EQ(AsInt(F.Lines->FieldByName(u"MasterID")->Value()), 10);
}

TEST(vlDBDataDetail, AMasterInGridModeGivesItsWindowsKeys) {
  TMasterDetail F;
  F.Master->DataModeController()->SetGridMode(true);
  F.Masters->Open();
  F.Lines->Open();
  ASSERT_TRUE(F.Master->IsGridMode());
  EXPECT_FALSE(F.Master->GetDetailHasChildren(5, 0));
  ASSERT_TRUE(F.Master->ChangeDetailExpanding(4, true));
  TvlDBDataController* D5 = F.Master->Detail(4);
  ASSERT_NE(D5, nullptr);
  EXPECT_EQ(AsInt(D5->MasterDetailKeyValues()), 5);
  EXPECT_EQ(D5->RecordCount(), LineCount(5));
  // The expanded record took the focus first (outside grid mode it would not).
  EXPECT_EQ(F.Master->FocusedRecordIndex(), 4);
  EXPECT_EQ(AsInt(F.Masters->FieldByName(u"ID")->Value()), 5);
}

TEST(vlDBDataDetail, SQLModeReopensTheDetailWithTheMastersValues) {
  TMasterDetail F(true);
  std::unique_ptr<TLineQuery, TObjectFree> Query = LineQuery(F);
  F.Lines->SetAfterOpen(TDataSetNotifyEvent(Query.get(), &TLineQuery::AfterOpen));
  F.Masters->Open();
  F.Lines->Open();
  EXPECT_EQ(F.Lines->RecordCount(), 0);
  // In SQL mode the detail rows cannot be located: every master may have some,
  // unless the detail's handler answers.
  EXPECT_TRUE(F.Master->GetDetailHasChildren(2, 0));
  F.Pattern->SetOnDetailHasChildren(TvlDBDataDetailHasChildrenEvent(Query.get(), &TLineQuery::HasChildren));
  F.Master->ResetHasChildrenFlag();
  EXPECT_FALSE(F.Master->GetDetailHasChildren(2, 0));
  EXPECT_TRUE(F.Master->GetDetailHasChildren(1, 0));
  ASSERT_TRUE(F.Master->ChangeDetailExpanding(1, true));
  TvlDBDataController* D2 = F.Master->Detail(1);
  ASSERT_NE(D2, nullptr);
  EXPECT_EQ(F.Lines->Params()->ParamByName(u"MasterID")->AsInteger(), 2);
  ASSERT_EQ(D2->RecordCount(), LineCount(2));
  EXPECT_EQ(AsInt(D2->GetValue(2, 2)), 23);
  EXPECT_EQ(D2->FocusedRecordIndex(), 0);
  ASSERT_TRUE(F.Master->ChangeDetailExpanding(3, true));
  TvlDBDataController* D4 = F.Master->Detail(3);
  ASSERT_NE(D4, nullptr);
  EXPECT_EQ(F.Lines->Params()->ParamByName(u"MasterID")->AsInteger(), 4);
  EXPECT_EQ(D4->RecordCount(), LineCount(4));
  // The first detail keeps its rows while the data set shows another master's,
  // but no longer a focused one.
  EXPECT_EQ(D2->RecordCount(), LineCount(2));
  EXPECT_EQ(D2->FocusedRecordIndex(), -1);
  EXPECT_GE(D4->FocusedRecordIndex(), 0);
  EXPECT_EQ(F.Lines->RecordCount(), LineCount(4));
  // Focusing a row of the first detail reopens the data set for it.
  const Integer Opens = Query->Opens;
  D2->SetFocusedRecordIndex(1);
  EXPECT_EQ(Query->Opens, Opens + 1);
  EXPECT_EQ(F.Lines->Params()->ParamByName(u"MasterID")->AsInteger(), 2);
  EXPECT_EQ(AsInt(F.Lines->FieldByName(u"Line")->Value()), 2);
  EXPECT_EQ(D4->RecordCount(), LineCount(4));
  // A query that already has the master's values is not reopened: it goes to its first row.
  TvlDBProviderDetailFilterAdapter* Adapter = D2->GetDetailFilterAdapter();
  EXPECT_TRUE(Adapter->IsCurrentQuery(F.Lines, u"MasterID", Variant(2)));
  EXPECT_FALSE(Adapter->IsCurrentQuery(F.Lines, u"MasterID", Variant(4)));
  F.Lines->Last();
  Boolean Reopened = false;
  Adapter->SetFilter(F.Lines, u"MasterID", Variant(2), true, Reopened);
  EXPECT_FALSE(Reopened);
  EXPECT_EQ(Query->Opens, Opens + 1);
  EXPECT_EQ(F.Lines->RecNo(), 1);
  // Without a "Params" property nothing is current.
  EXPECT_FALSE(Adapter->IsCurrentQuery(nullptr, u"MasterID", Variant(2)));
  // No adapter for the data set's class: the controller's error.
  vlDBDataDetailAdapterList->UnregisterAdapter(ClassOf<TDataSet>(), ClassOf<TvlDBProviderDetailFilterAdapter>());
  EXPECT_THROW(D2->GetDetailFilterAdapter(), EvlInvalidDataControllerOperation);
  vlDBDataDetailAdapterList->RegisterAdapter(ClassOf<TDataSet>(), ClassOf<TvlDBProviderDetailFilterAdapter>());
  EXPECT_EQ(D2->GetDetailFilterAdapter()->ClassType(), TvlDBProviderDetailFilterAdapter::StaticClass());
}

namespace {

// A view over one data set with one column per field name.
struct TPlainView {
  TvlDBDataController* DC{New<TvlDBDataController>(nullptr)};
  std::vector<TComponentPtr> Columns;
  TPlainView(TDataSource* ASource, std::initializer_list<const char16_t*> AFields) {
    for (const char16_t* Name : AFields) {
      Columns.emplace_back(New<TComponent>(nullptr));
      DC->AddItemForField(Columns.back().get(), Name);
    }
    DC->SetDataSource(ASource);
  }
  ~TPlainView() { Free(DC); }
  TComponent* Column(Integer I) { return Columns[I].get(); }
};

class TFilterSink : public TObject {
  CL_CLASS(TFilterSink, TObject)
 public:
  String Text;
  Integer Calls{};
  void BeforeChange(TvlDBDataFilterCriteria*, TDataSet*, const String& AText) {
    Text = AText;
    ++Calls;
  }
  void RefusePost(TDataSet*) { throw EDatabaseError(u"refused"); }
};
CL_IMPLEMENT_CLASS(TFilterSink)

}  // namespace

TEST(vlDBDataDetail, DataSetFilterFiltersTheDataSetOrTheController) {
  TMasterDetailData D;
  TPlainView V(D.MasterSource, {u"ID", u"Name"});
  V.DC->SetKeyFieldNames(u"ID");
  D.Masters->Open();
  TvlDBDataFilterCriteria* Filter = V.DC->Filter();
  EXPECT_TRUE(Filter->IgnoreOrigin());
  EXPECT_FALSE(Filter->AutoDataSetFilter());
  // The data set filters itself: the controller reads the five rows it shows.
  Filter->SetAutoDataSetFilter(true);
  Filter->AddItem(Filter->Root(), V.Column(0), foGreater, Variant(5), u"5");
  Filter->SetActive(true);
  EXPECT_TRUE(D.Masters->Filtered());
  EXPECT_EQ(D.Masters->Filter(), Filter->FilterText());
  EXPECT_FALSE(Filter->IsFiltering());
  ASSERT_EQ(V.DC->RecordCount(), 5);
  EXPECT_EQ(AsInt(V.DC->GetValue(0, 0)), 6);
  Filter->SetActive(false);
  EXPECT_FALSE(D.Masters->Filtered());
  EXPECT_EQ(V.DC->RecordCount(), 10);
  // With smart refresh the controller filters (the data set shows every row).
  V.DC->DataModeController()->SetSmartRefresh(true);
  Filter->SetActive(true);
  EXPECT_FALSE(D.Masters->Filtered());
  EXPECT_TRUE(Filter->IsFiltering());
  EXPECT_EQ(V.DC->RecordCount(), 10);
  EXPECT_EQ(V.DC->FilteredRecordCount(), 5);
  // A before-change handler gets the text and does the filtering itself.
  Filter->SetActive(false);
  Filter->SetAutoDataSetFilter(false);
  std::unique_ptr<TFilterSink, TObjectFree> Sink(New<TFilterSink>());
  Filter->SetOnBeforeChange(TvlDBDataFilterBeforeChangeEvent(Sink.get(), &TFilterSink::BeforeChange));
  Filter->SetActive(true);
  EXPECT_GE(Sink->Calls, 1);
  EXPECT_EQ(Sink->Text, Filter->FilterText());
  EXPECT_FALSE(Filter->IsFiltering());
  EXPECT_EQ(V.DC->FilteredRecordCount(), 10);
  // A pending edit that cannot be posted switches the filter off.
  Filter->SetActive(false);
  D.Masters->SetBeforePost(TDataSetNotifyEvent(Sink.get(), &TFilterSink::RefusePost));
  D.Masters->Edit();
  D.Masters->FieldByName(u"Name")->SetAsString(u"changed");
  EXPECT_THROW(Filter->SetActive(true), EDatabaseError);
  EXPECT_FALSE(Filter->Active());
  D.Masters->Cancel();
}

TEST(vlDBDataDetail, SummaryOverADataSetField) {
  TMasterDetailData D;
  TPlainView V(D.LineSource, {u"Line"});
  D.Lines->Open();
  auto* Item = dynamic_cast<TvlDBDataSummaryItem*>(V.DC->Summary()->FooterSummaryItems()->Add());
  ASSERT_NE(Item, nullptr);
  Item->SetKind(skSum);
  // "Qty" is no column: the item reads it through its own field.
  Item->SetFieldName(u"Qty");
  Integer Qty = 0, Lines = 0;
  for (Integer M = 1; M <= 10; ++M)
    for (Integer L = 1; L <= LineCount(M); ++L) {
      Qty += M * 10 + L;
      Lines += L;
    }
  ASSERT_NE(Item->DataField(), nullptr);
  EXPECT_TRUE(Item->DataField()->IsInternal());
  EXPECT_EQ(AsInt(V.DC->Summary()->FooterSummaryValues(0)), Qty);
  Item->SetFieldName(u"Line");
  EXPECT_EQ(AsInt(V.DC->Summary()->FooterSummaryValues(0)), Lines);
  EXPECT_FALSE(Item->IsCurrency(varInteger));
  // Reopening the data set binds the field again.
  D.Lines->Close();
  D.Lines->Open();
  EXPECT_EQ(AsInt(V.DC->Summary()->FooterSummaryValues(0)), Lines);
  Item->SetFieldName(u"");
  EXPECT_EQ(Item->DataField(), nullptr);
}

TEST(vlDBDataDetail, FieldsShareValuesAndSplitNames) {
  TMasterDetailData D;
  TPlainView V(D.MasterSource, {u"Name", u"NAME", u"ID;Name"});
  D.Masters->Open();
  TvlDBDataField* A = V.DC->GetDBItemField(0);
  TvlDBDataField* B = V.DC->GetDBItemField(1);
  TvlDBDataField* C = V.DC->GetDBItemField(2);
  // The second field of one name (case ignored) refers to the first and shares its values.
  EXPECT_EQ(B->ReferenceField(), A);
  EXPECT_EQ(B->ValueDef(), A->ValueDef());
  EXPECT_EQ(B->Field(), A->Field());
  EXPECT_EQ(VarToStr(V.DC->GetValue(3, 1)), u"m4");
  // Two names: two internal sub-fields; the filter value is an array of both.
  ASSERT_EQ(C->FieldCount(), 2);
  EXPECT_EQ(C->Fields(0)->FieldName(), u"ID");
  EXPECT_TRUE(C->Fields(0)->IsInternal());
  EXPECT_EQ(C->Fields(0)->ParentField(), C);
  EXPECT_EQ(C->Fields(1)->ReferenceField(), A);
  Variant Filter = V.DC->GetFilterDataValue(3, C);
  ASSERT_TRUE(VarIsArray(Filter));
  EXPECT_EQ(AsInt(VarArrayGet(Filter, {0})), 4);
  EXPECT_EQ(VarToStr(VarArrayGet(Filter, {1})), u"m4");
  EXPECT_THROW(C->AddField(C->Fields(0)), EvlInvalidDataControllerOperation);
  EXPECT_EQ(V.DC->GetFilterItemFieldName(V.Column(0)), u"Name");
  EXPECT_TRUE(A->CanModify(evsValue));
  EXPECT_TRUE(A->CanModify(evsText));
  EXPECT_FALSE(A->IsUnbound());
  // The first field goes: the second takes over its values and data-set field.
  V.DC->RemoveItem(V.Column(0));
  TvlDBDataField* Heir = V.DC->GetDBItemField(0);
  ASSERT_EQ(Heir, B);
  EXPECT_EQ(B->ReferenceField(), nullptr);
  EXPECT_NE(B->Field(), nullptr);
  EXPECT_EQ(VarToStr(V.DC->GetValue(3, 0)), u"m4");
  EXPECT_EQ(C->Fields(1)->ReferenceField(), B);
  // Renaming a column reads the new field.
  V.DC->ChangeFieldName(0, u"ID");
  EXPECT_EQ(AsInt(V.DC->GetValue(3, 0)), 4);
}

TEST(vlDBDataDetail, GroupingInGridModeReadsEveryRecord) {
  TMasterDetailData D;
  TPlainView V(D.LineSource, {u"MasterID", u"Line"});
  V.DC->DataModeController()->SetGridModeBufferCount(5);
  V.DC->DataModeController()->SetGridMode(true);
  D.Lines->Open();
  ASSERT_TRUE(V.DC->IsGridMode());
  EXPECT_EQ(V.DC->RecordCount(), 5);
  V.DC->ChangeGrouping(0, 0);
  EXPECT_FALSE(V.DC->IsGridMode());
  ASSERT_EQ(V.DC->RecordCount(), 17);
  EXPECT_EQ(V.DC->GetRowCount(), 7);  // the masters with lines, collapsed
  V.DC->ClearGrouping();
  EXPECT_TRUE(V.DC->IsGridMode());
  EXPECT_EQ(V.DC->RecordCount(), 5);
}

TEST(vlDBDataDetail, LookupFieldsEditByKey) {
  TMasterDetailData D;
  AddMasterNameLookup(D);
  TPlainView V(D.LineSource, {u"MasterName", u"Qty", u"MasterName"});
  D.Masters->Open();
  D.Lines->Open();
  TvlDBDataField* F = V.DC->GetDBItemField(0);
  ASSERT_TRUE(F->IsLookup());
  ASSERT_EQ(F->FieldCount(), 1);
  EXPECT_EQ(F->Fields(0)->FieldName(), u"MasterID");
  EXPECT_EQ(VarToStr(V.DC->GetValue(2, 0)), u"m2");
  // Filtered and edited by its key.
  EXPECT_EQ(AsInt(V.DC->GetFilterDataValue(2, F)), 2);
  EXPECT_EQ(V.DC->GetFilterItemFieldName(V.Column(0)), u"MasterID");
  EXPECT_FALSE(F->CanModify(evsValue));
  EXPECT_FALSE(F->CanModify(evsText));
  EXPECT_TRUE(F->CanModify(evsKey));
  EXPECT_TRUE(V.DC->GetDBItemField(1)->CanModify(evsText));
  // The second column of the lookup takes over its field and key sub-field when the first goes.
  TvlDBDataField* Second = V.DC->GetDBItemField(2);
  EXPECT_EQ(Second->ReferenceField(), F);
  TvlDBDataField* Key = F->Fields(0);
  V.DC->RemoveItem(V.Column(0));
  EXPECT_EQ(Second->ReferenceField(), nullptr);
  ASSERT_EQ(Second->FieldCount(), 1);
  EXPECT_EQ(Second->Fields(0), Key);
  EXPECT_EQ(Key->ParentField(), Second);
  EXPECT_EQ(AsInt(V.DC->GetFilterDataValue(4, Second)), 2);
  EXPECT_EQ(VarToStr(V.DC->GetValue(4, 1)), u"m2");
}

// The program's log on SQLite: the data set filters itself, a footer sums "Kontor".
TEST(vlDBDataDetail, LogTableFilterAndSummary) {
  TLogTestDatabase Log("dbdatadetail");
  for (Integer Kontor : {100, 200, 300, 400}) Log.Add(Kontor);
  TADODataSet* Set = Log.Set;
  auto* Source = New<TDataSource>(Log.Owner.get());
  Source->SetDataSet(Set);
  TPlainView V(Source, {u"Index"});
  V.DC->SetKeyFieldNames(u"Index");
  auto* Sum = dynamic_cast<TvlDBDataSummaryItem*>(V.DC->Summary()->FooterSummaryItems()->Add());
  ASSERT_NE(Sum, nullptr);
  Sum->SetKind(skSum);
  Sum->SetFieldName(u"Kontor");
  Set->Open();
  ASSERT_EQ(V.DC->RecordCount(), 4);
  EXPECT_EQ(AsInt(V.DC->Summary()->FooterSummaryValues(0)), 1000);
  TvlDBDataFilterCriteria* Filter = V.DC->Filter();
  Filter->SetAutoDataSetFilter(true);
  Filter->AddItem(Filter->Root(), V.Column(0), foGreaterEqual, Variant(3), u"3");
  Filter->SetActive(true);
  EXPECT_TRUE(Set->Filtered());
  ASSERT_EQ(V.DC->RecordCount(), 2);
  EXPECT_EQ(AsInt(V.DC->Summary()->FooterSummaryValues(0)), 700);
  Set->Close();
}

TEST(vlDBDataDetail, FilterAndSummarySettingsAreCopied) {
  TMasterDetailData D;
  TPlainView A(D.LineSource, {u"Line"}), B(D.LineSource, {u"Line"});
  TvlDBDataFilterCriteria* From = A.DC->Filter();
  std::unique_ptr<TFilterSink, TObjectFree> Sink(New<TFilterSink>());
  From->SetAutoDataSetFilter(true);
  From->SetIgnoreOrigin(false);
  From->SetOnBeforeChange(TvlDBDataFilterBeforeChangeEvent(Sink.get(), &TFilterSink::BeforeChange));
  TvlDBDataFilterCriteria* To = B.DC->Filter();
  To->Assign(From, true);
  EXPECT_TRUE(To->AutoDataSetFilter());
  EXPECT_FALSE(To->IgnoreOrigin());
  EXPECT_TRUE(Assigned(To->OnBeforeChange()));
  To->SetOnBeforeChange(nullptr);
  To->AssignEvents(From);
  EXPECT_TRUE(Assigned(To->OnBeforeChange()));
  To->RestoreDefaults();
  EXPECT_FALSE(To->AutoDataSetFilter());
  EXPECT_TRUE(To->IgnoreOrigin());
  // A summary item copies its field name, which binds the copy's own field.
  D.Lines->Open();
  auto* S1 = static_cast<TvlDBDataSummaryItem*>(A.DC->Summary()->FooterSummaryItems()->Add());
  S1->SetKind(skMax);
  S1->SetFieldName(u"Qty");
  auto* S2 = static_cast<TvlDBDataSummaryItem*>(B.DC->Summary()->FooterSummaryItems()->Add());
  S2->Assign(S1);
  EXPECT_EQ(S2->FieldName(), u"Qty");
  EXPECT_EQ(S2->Kind(), skMax);
  ASSERT_NE(S2->DataField(), nullptr);
  EXPECT_NE(S2->DataField(), S1->DataField());
  EXPECT_EQ(AsInt(B.DC->Summary()->FooterSummaryValues(0)), 102);
}

// Master-detail on the log: ten loads; the detail shows the loads of the
// master's Kontor, read from a second data set ordered by Kontor.
TEST(vlDBDataDetail, LogLoadsByKontor) {
  TLogTestDatabase Log("dbdatalogdetail");
  for (Integer I = 1; I <= 10; ++I) Log.Add(I % 4 * 100 + 100);
  auto* Loads = New<TADODataSet>(Log.Owner.get());
  Loads->SetConnection(Log.Conn);
  Loads->SetCursorType(ctStatic);
  Loads->SetCommandText(u"select * from log order by Kontor, [Index]");
  auto* MasterSource = New<TDataSource>(Log.Owner.get());
  MasterSource->SetDataSet(Log.Set);
  auto* LoadSource = New<TDataSource>(Log.Owner.get());
  LoadSource->SetDataSet(Loads);
  std::unique_ptr<TMasterView, TObjectFree> Master(New<TMasterView>(nullptr));
  Master->AddItemForField(nullptr, u"Index");
  Master->AddItemForField(nullptr, u"Kontor");
  Master->SetKeyFieldNames(u"Index");
  Master->SetDataSource(MasterSource);
  std::unique_ptr<TvlDBDataController, TObjectFree> Pattern(New<TvlDBDataController>(nullptr));
  Pattern->AddItemForField(nullptr, u"Index");
  Pattern->AddItemForField(nullptr, u"Kontor");
  Pattern->SetKeyFieldNames(u"Index");
  Pattern->SetDetailKeyFieldNames(u"Kontor");
  Pattern->SetMasterKeyFieldNames(u"Kontor");
  Pattern->SetDataSource(LoadSource);
  Master->Pattern = Pattern.get();
  TComponentPtr DetailItem(New<TComponent>(nullptr));
  Pattern->SetMasterMode(Master->Relations()->Add(DetailItem.get()), true);
  Log.Set->Open();
  Loads->Open();
  ASSERT_EQ(Master->RecordCount(), 10);
  EXPECT_TRUE(Master->GetDetailHasChildren(0, 0));
  // Master 1 has Kontor 200, as have masters 5 and 9.
  ASSERT_TRUE(Master->ChangeDetailExpanding(0, true));
  TvlDBDataController* Detail = Master->Detail(0);
  ASSERT_NE(Detail, nullptr);
  ASSERT_EQ(Detail->RecordCount(), 3);
  for (Integer R = 0; R < 3; ++R) {
    EXPECT_EQ(AsInt(Detail->GetValue(R, 1)), 200);
    EXPECT_EQ(AsInt(Detail->GetValue(R, 0)), 1 + 4 * R);
  }
  // The loads move to load 8 (Kontor 100): the master goes to the first master of that Kontor.
  ASSERT_TRUE(Loads->Locate(u"Index", Variant(8), TLocateOptions()));
  ASSERT_GE(Master->FocusedRecordIndex(), 0);
  EXPECT_EQ(AsInt(Master->GetValue(Master->FocusedRecordIndex(), 0)), 4);
  TvlDBDataController* Detail4 = Master->Detail(3);
  ASSERT_NE(Detail4, nullptr);
  EXPECT_EQ(Detail4->RecordCount(), 2);
  ASSERT_GE(Detail4->FocusedRecordIndex(), 0);
  EXPECT_EQ(AsInt(Detail4->GetValue(Detail4->FocusedRecordIndex(), 0)), 8);
  Master.reset();
  Loads->Close();
  Log.Set->Close();
}

// A new record of a detail takes its master's key values, unless the
// pattern (and so its clones, through Assign) leaves the option out; a new
// record holding only those values is not kept.
TEST(vlDBDataDetail, NewDetailRecordTakesTheMasterKeys) {
  for (Boolean Assign : {true, false}) {
    TMasterDetail F;
    if (!Assign) F.Pattern->SetOptions(F.Pattern->Options() - dcoAssignMasterDetailKeys);
    F.Masters->Open();
    F.Lines->Open();
    ASSERT_TRUE(F.Master->ChangeDetailExpanding(4, true));
    TvlDBDataController* D5 = F.Master->Detail(4);
    ASSERT_NE(D5, nullptr);
    EXPECT_EQ(D5->Options().Contains(dcoAssignMasterDetailKeys), Assign);
    const Integer Lines = F.Lines->RecordCount();
    D5->SetFocusedRecordIndex(0);  // the user's row: the detail data set is this detail's
    D5->Append();
    ASSERT_EQ(F.Lines->State(), dsInsert);
    if (Assign)
      EXPECT_EQ(AsInt(F.Lines->FieldByName(u"MasterID")->Value()), 5);
    else
      EXPECT_TRUE(VarIsNull(F.Lines->FieldByName(u"MasterID")->Value()));
    D5->CheckBrowseMode();
    EXPECT_EQ(F.Lines->RecordCount(), Lines) << Assign;  // only the keys: cancelled
    if (!Assign) continue;
    D5->Append();
    D5->SetEditValue(1, Variant(9));
    D5->SetEditValue(2, Variant(59));
    D5->Post();
    ASSERT_EQ(F.Lines->RecordCount(), Lines + 1);
    ASSERT_TRUE(F.Lines->Locate(u"MasterID;Line", Pair(Variant(5), Variant(9)), TLocateOptions()));
    EXPECT_EQ(AsInt(F.Lines->FieldByName(u"Qty")->Value()), 59);
  }
}

// The detail key fields are found again after the detail data set reopens
// with new fields.
TEST(vlDBDataDetail, DetailKeyFieldsFollowAReopenedDataSet) {
  TMasterDetail F;
  F.Masters->Open();
  F.Lines->Open();
  ASSERT_TRUE(F.Master->ChangeDetailExpanding(2, true));
  TvlDBDataController* D3 = F.Master->Detail(2);
  ASSERT_NE(D3, nullptr);
  TList* Before = D3->MasterDetailKeyFields();
  ASSERT_NE(Before, nullptr);
  ASSERT_EQ(Before->Count(), 1);
  EXPECT_EQ(static_cast<TField*>(Before->Items(0)), F.Lines->FieldByName(u"MasterID"));
  F.Lines->Close();
  EXPECT_EQ(D3->MasterDetailKeyFields(), nullptr);
  F.Lines->Open();
  TList* After = D3->MasterDetailKeyFields();
  ASSERT_NE(After, nullptr);
  EXPECT_EQ(static_cast<TField*>(After->Items(0)), F.Lines->FieldByName(u"MasterID"));
  D3->SetDetailKeyFieldNames(u"Nothing");
  EXPECT_EQ(D3->MasterDetailKeyFields(), nullptr);
}

// Moving between rows posts pending edits: a detail's row change posts its
// master's edit first; a master's row change posts its details' edits.
TEST(vlDBDataDetail, RowChangesPostTheMastersAndTheDetailsEdits) {
  TMasterDetail F;
  F.Masters->Open();
  F.Lines->Open();
  ASSERT_TRUE(F.Master->ChangeDetailExpanding(4, true));
  TvlDBDataController* D5 = F.Master->Detail(4);
  ASSERT_NE(D5, nullptr);
  ASSERT_GE(D5->RecordCount(), 3);
  F.Master->SetFocusedRecordIndex(4);
  F.Master->Edit();
  F.Master->SetEditValue(1, Variant(u"five"));
  ASSERT_EQ(F.Masters->State(), dsEdit);
  // The post reads the master again and makes its details anew: the old
  // detail sees itself go and refuses the move.
  EXPECT_FALSE(D5->ChangeFocusedRowIndex(1));
  EXPECT_EQ(F.Masters->State(), dsBrowse);
  EXPECT_EQ(F.Master->GetValue(4, 1), Variant(u"five"));
  D5 = F.Master->Detail(4);
  ASSERT_NE(D5, nullptr);
  EXPECT_TRUE(D5->ChangeFocusedRowIndex(2));
  EXPECT_EQ(D5->FocusedRecordIndex(), 2);
  // The detail's own edit goes when the master moves to another row.
  D5->Edit();
  D5->SetEditValue(2, Variant(500));
  ASSERT_EQ(F.Lines->State(), dsEdit);
  F.Master->SetFocusedRecordIndex(6);
  EXPECT_EQ(F.Lines->State(), dsBrowse);
  ASSERT_TRUE(F.Lines->Locate(u"MasterID;Line", Pair(Variant(5), Variant(3)), TLocateOptions()));
  EXPECT_EQ(AsInt(F.Lines->FieldByName(u"Qty")->Value()), 500);
}

// In SQL mode a detail that takes the focus reopens the shared data set
// with its master's values; a detail that focuses a record becomes current.
TEST(vlDBDataDetail, SQLModeDetailTakingTheFocusReopensItsQuery) {
  TMasterDetail F(true);
  std::unique_ptr<TLineQuery, TObjectFree> Query = LineQuery(F);
  F.Masters->Open();
  F.Lines->Open();
  ASSERT_TRUE(F.Master->ChangeDetailExpanding(1, true));
  ASSERT_TRUE(F.Master->ChangeDetailExpanding(3, true));
  TvlDBDataController* D2 = F.Master->Detail(1);
  TvlDBDataController* D4 = F.Master->Detail(3);
  ASSERT_TRUE(D2 && D4);
  EXPECT_EQ(F.Lines->Params()->ParamByName(u"MasterID")->AsInteger(), 4);
  EXPECT_TRUE(D4->DBProvider()->IsDataSetCurrent());
  D2->SetFocus();
  EXPECT_EQ(F.Lines->Params()->ParamByName(u"MasterID")->AsInteger(), 2);
  EXPECT_EQ(F.Lines->RecordCount(), LineCount(2));
  D2->SetFocusedRecordIndex(0);
  EXPECT_TRUE(D2->DBProvider()->IsDataSetCurrent());
  EXPECT_FALSE(D4->DBProvider()->IsDataSetCurrent());
  EXPECT_EQ(D4->FocusedRecordIndex(), -1);
}

// Lookup and several-name fields group by their key values: the groups
// answer the keys, and a record inserted into a group gets its keys.
TEST(vlDBDataDetail, LookupAndSeveralNameGroupValues) {
  TMasterDetailData D;
  AddMasterNameLookup(D);
  TPlainView V(D.LineSource, {u"MasterName", u"Line", u"Qty", u"MasterID;Line"});
  D.Masters->Open();
  D.Lines->Open();
  TvlDBDataField* Lookup = V.DC->GetDBItemField(0);
  EXPECT_EQ(VarToStr(V.DC->GetValue(2, 0)), u"m2");
  EXPECT_EQ(AsInt(V.DC->GetGroupValue(2, Lookup)), 2);
  Variant Pair2 = V.DC->GetGroupValue(2, V.DC->GetDBItemField(3));
  ASSERT_TRUE(VarIsArray(Pair2));
  EXPECT_EQ(AsInt(VarArrayGet(Pair2, {0})), 2);
  EXPECT_EQ(AsInt(VarArrayGet(Pair2, {1})), AsInt(V.DC->GetValue(2, 1)));
  EXPECT_EQ(V.DC->GetGroupValue(2, V.DC->GetDBItemField(2)), V.DC->GetValue(2, 2));

  V.DC->ChangeGrouping(0, 0);
  TvlDataControllerGroups* G = V.DC->Groups();
  const Integer Group = G->GetDataGroupIndexByGroupValue(-1, Variant(4));
  ASSERT_GE(Group, 0);
  EXPECT_EQ(AsInt(G->GetGroupValue(Group)), 4);
  EXPECT_EQ(G->GetDataGroupIndexByGroupValue(-1, Variant(u"m4")), -1);
  std::vector<Variant> Values;
  const Integer First = G->GetFirstRecordOfGroup(Group);
  V.DC->GetGroupValues(First, Values);
  ASSERT_EQ(Values.size(), 1u);
  EXPECT_EQ(AsInt(Values[0]), 4);
  V.DC->GetGroupValues(-1, Values);
  EXPECT_TRUE(VarIsNull(Values[0]));
  // Inserting beside a record of master 4 gives the new line master 4's key.
  V.DC->SetFocusedRecordIndex(First);
  V.DC->Insert();
  ASSERT_EQ(D.Lines->State(), dsInsert);
  EXPECT_EQ(AsInt(D.Lines->FieldByName(u"MasterID")->Value()), 4);
  EXPECT_EQ(D.Lines->FieldByName(u"MasterName")->AsString(), u"m4");
  D.Lines->Cancel();
}

namespace {
// Refuses posts of the lines while armed.
class TLineGuard : public TObject {
  CL_CLASS(TLineGuard, TObject)
 public:
  Boolean Refuse{};
  void BeforePost(TDataSet*) {
    if (Refuse) DatabaseError(u"refused");
  }
};
CL_IMPLEMENT_CLASS(TLineGuard)
}  // namespace

// In SQL mode another detail taking the focus reopens the shared query
// (inside disabled controls); a value pending in the current detail's edit
// is posted first, not dropped with the close. A post that is refused keeps
// the edit and the query, and the focus move fails.
TEST(vlDBDataDetail, SQLModeReopenPostsAPendingEdit) {
  for (const Boolean Refuse : {false, true}) {
    SCOPED_TRACE(Refuse);
    TMasterDetail F(true);
    std::unique_ptr<TLineQuery, TObjectFree> Query = LineQuery(F);
    std::unique_ptr<TLineGuard, TObjectFree> Guard(New<TLineGuard>());
    F.Lines->SetBeforePost(TDataSetNotifyEvent(Guard.get(), &TLineGuard::BeforePost));
    F.Masters->Open();
    F.Lines->Open();
    ASSERT_TRUE(F.Master->ChangeDetailExpanding(1, true));
    ASSERT_TRUE(F.Master->ChangeDetailExpanding(3, true));
    TvlDBDataController* D2 = F.Master->Detail(1);
    TvlDBDataController* D4 = F.Master->Detail(3);
    ASSERT_TRUE(D2 && D4);
    D4->SetFocusedRecordIndex(0);
    ASSERT_TRUE(D4->SetEditValue(2, Variant(99)));
    ASSERT_EQ(F.Lines->State(), dsEdit);
    Guard->Refuse = Refuse;
    if (Refuse) {
      EXPECT_THROW(D2->SetFocusedRecordIndex(1), EDatabaseError);
      EXPECT_EQ(F.Lines->State(), dsEdit);
      EXPECT_EQ(F.Lines->Params()->ParamByName(u"MasterID")->AsInteger(), 4);
      EXPECT_EQ(AsInt(F.Lines->FieldByName(u"Qty")->Value()), 99);
      Guard->Refuse = false;
    }
    D2->SetFocusedRecordIndex(1);
    EXPECT_EQ(F.Lines->Params()->ParamByName(u"MasterID")->AsInteger(), 2);
    EXPECT_EQ(F.Lines->State(), dsBrowse);
    EXPECT_EQ(AsInt(F.Lines->FieldByName(u"Line")->Value()), 2);
    // Master 4's first line holds the typed value.
    F.Lines->SetFiltered(false);
    String Qty;
    for (F.Lines->First(); !F.Lines->Eof(); F.Lines->Next())
      if (AsInt(F.Lines->FieldByName(u"MasterID")->Value()) == 4 && AsInt(F.Lines->FieldByName(u"Line")->Value()) == 1)
        Qty = F.Lines->FieldByName(u"Qty")->AsString();
    EXPECT_EQ(Qty, u"99");
  }
}
