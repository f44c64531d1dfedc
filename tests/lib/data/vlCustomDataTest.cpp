#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "lib/data/vlCustomData.h"
#include "platform/classes/FormText.h"
#include "platform/classes/Streams.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Strings.h"
#include "platform/rtl/Variants.h"

// An item of the controller's owner (a column).
class TTestColumn : public TComponent {
  CL_CLASS(TTestColumn, TComponent)
 public:
  Integer ID{};
};
CL_IMPLEMENT_CLASS(TTestColumn)

namespace {

// A data controller reduced to what the fields, relations and filter ask of
// it: values come from its storage, and it records the calls it receives.
class TFakeController : public IvlDataController {
 public:
  TFakeController() {
    Storage = New<TvlDataStorage>();
    FieldList = New<TvlCustomDataFieldList>(static_cast<IvlDataController*>(this));
    Notify = New<TvlDataControllerNotifier>(nullptr);
    Notify->SetDataController(this);
    RelationList = New<TvlCustomDataRelationList>(static_cast<IvlDataController*>(this));
    Extra = New<TvlDataFilterList>();
  }
  ~TFakeController() override {
    Free(Extra);
    Free(RelationList);
    Free(FieldList);
    Free(Notify);
    Free(Storage);
    for (TTestColumn* C : Columns) Free(C);
  }
  TTestColumn* AddColumn(const String& AName, Integer AID, TvlValueTypeClass AType) {
    TTestColumn* C = New<TTestColumn>(nullptr);
    C->SetName(AName);
    C->ID = AID;
    Columns.push_back(C);
    TvlCustomDataField* F = New<TvlCustomDataField>(FieldList);
    F->SetItem(C);
    FieldList->Add(F);
    F->SetValueTypeClass(AType);
    return C;
  }
  TvlCustomDataField* FieldOf(TTestColumn* C) { return FieldList->FieldByItem(C); }
  void SetValues(TTestColumn* C, std::initializer_list<Variant> Values) {
    Storage->SetRecordCount(static_cast<Integer>(Values.size()));
    Integer R = 0;
    for (const Variant& V : Values) Storage->SetValue(R++, FieldOf(C)->ValueDef(), V);
  }
  Boolean Logged(const std::string& S) const {
    for (const std::string& L : Log)
      if (L == S) return true;
    return false;
  }

  TvlDataStorage* DataStorage() override { return Storage; }
  TvlCustomDataFieldList* Fields() override { return FieldList; }
  TvlDataControllerNotifier* Notifier() override { return Notify; }
  Boolean IsProviderMode() override { return ProviderMode; }
  void FieldRemoved(TvlCustomDataField*) override { Log.push_back("FieldRemoved"); }
  void ProviderLayoutChanged() override { Log.push_back("LayoutChanged"); }
  Variant GetValue(Integer R, TvlCustomDataField* F) override { return Storage->GetValue(R, F->ValueDef()); }
  String GetDisplayText(Integer R, TvlCustomDataField* F) override { return u"#" + VarToStr(GetValue(R, F)); }
  Variant GetFilterDataValue(Integer R, TvlCustomDataField* F) override { return GetValue(R, F); }
  String GetFilterItemFieldCaption(TObject* AItem) override {
    return u"Caption " + static_cast<TTestColumn*>(AItem)->Name();
  }
  String GetFilterItemFieldName(TObject* AItem) override { return static_cast<TTestColumn*>(AItem)->Name(); }
  String GetFilterValueDisplayText(Integer R, Integer AItemIndex) override {
    return VarToStr(GetValue(R, FieldList->Items(AItemIndex)));
  }
  Integer GetItemID(TObject* AItem) override { return AItem ? static_cast<TTestColumn*>(AItem)->ID : -1; }
  String GetItemName(TObject* AItem) override { return AItem ? static_cast<TTestColumn*>(AItem)->Name() : u""; }
  TObject* GetItemByID(Integer AID) override {
    for (TTestColumn* C : Columns)
      if (C->ID == AID) return C;
    return nullptr;
  }
  TObject* GetItemByName(const String& AName) override {
    for (TTestColumn* C : Columns)
      if (SameText(C->Name(), AName)) return C;
    return nullptr;
  }
  Boolean IsGridMode() override { return GridMode; }
  Boolean IsOwnerDestroying() override { return false; }
  Boolean IsOwnerLoading() override { return OwnerLoading; }
  Boolean IsActiveDataSet() override { return false; }
  Boolean IsItemSortByText(Integer) override { return false; }
  Integer RecordCount() override { return Storage->RecordCount(); }
  Integer FilteredRecordCount() override { return static_cast<Integer>(Filtered.size()); }
  Integer GetRecordListRecordIndex(Integer I) override { return Filtered[I]; }
  void Post(Boolean) override { Log.push_back("Post"); }
  void FilterChanged() override { Log.push_back("FilterChanged"); }
  TvlDataFilterList* ExtraFilters() override { return Extra; }
  void CheckRecordIndex(Integer R) override {
    if (R < 0 || R >= Storage->RecordCount()) throw EInvalidOperation(u"RecordIndex out of range");
  }
  void BeginUpdate() override { ++Locks; }
  void EndUpdate() override { --Locks; }
  TvlCustomDataRelationClass GetRelationClass() override { return ClassOf<TvlCustomDataRelation>(); }
  TvlCustomDataRelationList* Relations() override { return RelationList; }
  IvlDataController* PatternController() override { return this; }
  Integer DefaultActiveRelationIndex() override { return 0; }
  void ClearDetails() override { Log.push_back("ClearDetails"); }
  void RelationsChanged(TvlCustomDataRelation*) override { Log.push_back("RelationsChanged"); }
  Boolean IsPattern() override { return false; }
  void SetMasterMode(TvlCustomDataRelation* R, Boolean) override { Log.push_back(R ? "Master" : "NoMaster"); }
  void SetMasterRelation(TvlCustomDataRelation* R, Integer) override { Log.push_back(R ? "Relation" : "NoRelation"); }
  IvlDataController* GetDetailDataControllerByLinkObject(TObject* ALink) override {
    return ALink == CloneLink ? Clone : nullptr;
  }

  TvlDataStorage* Storage{};
  TvlCustomDataFieldList* FieldList{};
  TvlDataControllerNotifier* Notify{};
  TvlCustomDataRelationList* RelationList{};
  TvlDataFilterList* Extra{};
  std::vector<TTestColumn*> Columns;
  std::vector<Integer> Filtered;
  std::vector<std::string> Log;
  Boolean ProviderMode{}, GridMode{}, OwnerLoading{};
  TObject* CloneLink{};
  IvlDataController* Clone{};
  Integer Locks{};
};

// --- Fields ----------------------------------------------------------------------------------

TEST(vlDataFields, ItemFieldsBeforeInternalOnes) {
  TFakeController DC;
  TvlCustomDataField* Internal = New<TvlCustomDataField>(DC.FieldList);
  Internal->SetIsInternal(true);
  DC.FieldList->Add(Internal);
  TTestColumn* A = DC.AddColumn(u"A", 1, ClassOf<TvlIntegerValueType>());
  TTestColumn* B = DC.AddColumn(u"B", 2, ClassOf<TvlStringValueType>());
  EXPECT_EQ(DC.FieldList->ItemCount(), 2);
  EXPECT_EQ(DC.FieldOf(A)->Index(), 0);
  EXPECT_EQ(DC.FieldOf(B)->Index(), 1);
  EXPECT_EQ(Internal->Index(), 2);
  EXPECT_TRUE(IsValueDefInternal(Internal->ValueDef()) == false);  // no value type: no definition
  Internal->SetValueTypeClass(ClassOf<TvlIntegerValueType>());
  EXPECT_TRUE(IsValueDefInternal(Internal->ValueDef()));
  EXPECT_FALSE(IsValueDefInternal(DC.FieldOf(A)->ValueDef()));
  EXPECT_TRUE(DC.FieldOf(A)->CanModify(0));
  EXPECT_EQ(DC.Storage->ValueDefs()->Count(), 3);
}

TEST(vlDataFields, ReferencesSurviveTheirOwner) {
  TFakeController DC;
  TTestColumn* Owner = DC.AddColumn(u"Owner", 1, ClassOf<TvlIntegerValueType>());
  TTestColumn* R1 = DC.AddColumn(u"R1", 2, ClassOf<TvlStringValueType>());
  TTestColumn* R2 = DC.AddColumn(u"R2", 3, ClassOf<TvlStringValueType>());
  DC.SetValues(Owner, {Variant(7), Variant(8)});
  TvlCustomDataField* F1 = DC.FieldOf(R1);
  TvlCustomDataField* F2 = DC.FieldOf(R2);
  F1->SetReferenceField(DC.FieldOf(Owner));
  F2->SetReferenceField(F1);  // follows the chain to its end
  EXPECT_EQ(F2->ReferenceField(), DC.FieldOf(Owner));
  EXPECT_TRUE(F1->ValueTypeClass().Class() == TvlIntegerValueType::StaticClass());
  F1->SetValueTypeClass(ClassOf<TvlStringValueType>());  // ignored while referencing
  EXPECT_TRUE(F1->ValueTypeClass().Class() == TvlIntegerValueType::StaticClass());
  DC.FieldOf(Owner)->SetReferenceField(F2);  // a cycle: refused
  EXPECT_EQ(DC.FieldOf(Owner)->ReferenceField(), nullptr);

  Free(DC.FieldOf(Owner));
  EXPECT_TRUE(DC.Logged("FieldRemoved"));
  EXPECT_EQ(F1->ReferenceField(), nullptr);
  EXPECT_EQ(F2->ReferenceField(), F1);
  EXPECT_EQ(DC.Storage->GetValue(1, F1->ValueDef()).AsInteger(), 8);
  EXPECT_EQ(F1->ValueDef()->LinkObject(), F1);
}

TEST(vlDataFields, Readers) {
  TFakeController DC;
  TTestColumn* A = DC.AddColumn(u"A", 1, ClassOf<TvlIntegerValueType>());
  DC.FieldOf(A)->SetTextStored(true);
  DC.SetValues(A, {Variant(5)});
  TvlValueDef* Def = DC.FieldOf(A)->ValueDef();

  std::unique_ptr<TvlValueDefUnboundReader, TObjectFree> U(New<TvlValueDefUnboundReader>());
  EXPECT_TRUE(VarIsNull(U->GetValue(Def)));
  U->SetValue(Def, Variant(9));
  EXPECT_EQ(U->GetValue(DC.Storage->InternalValueDefs()->FindByLinkObject(Def)).AsInteger(), 9);
  U->Clear();
  EXPECT_TRUE(VarIsNull(U->GetValue(Def)));

  // Copy record 0 into an internal record through the controller.
  Integer I = DC.Storage->AddInternalRecord();
  std::unique_ptr<TvlValueDefRecordReader, TObjectFree> R(
      New<TvlValueDefRecordReader>(static_cast<IvlDataController*>(&DC), 0));
  DC.Storage->ReadRecord(I, R.get());
  EXPECT_EQ(DC.Storage->GetValue(I, Def).AsInteger(), 5);
  EXPECT_EQ(DC.Storage->GetDisplayText(I, Def), u"#5");
}

// --- Relations --------------------------------------------------------------------------------

TEST(vlDataRelations, DetailObjectsFollowTheRelations) {
  TFakeController DC;
  TFakeController Detail;
  DC.Storage->SetRecordCount(2);
  TTestColumn Item1, Item2;
  TvlCustomDataRelation* R1 = DC.RelationList->Add(&Item1);
  EXPECT_TRUE(DC.Logged("RelationsChanged"));
  ASSERT_NE(DC.RelationList->DataField(), nullptr);
  EXPECT_EQ(DC.RelationList->GetDetailObject(0), nullptr);  // no detail controller: empty
  TvlCustomDataRelation* R2 = DC.RelationList->Add(&Item2);
  R2->SetDetailDataController(&Detail);
  DC.Log.clear();
  DC.RelationList->Move(1, 1);
  EXPECT_TRUE(DC.Log.empty());

  TvlDetailObject* D = DC.RelationList->GetDetailObject(1);
  ASSERT_NE(D, nullptr);
  EXPECT_EQ(D->InfoObjectCount(), 2);
  EXPECT_EQ(D->ActiveRelationIndex(), 1);  // relation 0 has no detail controller
  EXPECT_EQ(DC.RelationList->GetDetailObject(1), D);
  D->SetInfoObject(0, New<TvlDetailInfoObject>());
  EXPECT_FALSE(DC.RelationList->IsDetailObjectExist(1, -1));  // only empty infos
  D->AssignLinkObject(1, New<TObject>());
  EXPECT_TRUE(DC.RelationList->IsDetailObjectExist(1, -1));
  EXPECT_TRUE(DC.RelationList->ClearDetailObject(1, 1));
  EXPECT_FALSE(DC.RelationList->IsDetailObjectExist(1, 1));
  EXPECT_FALSE(DC.RelationList->ClearDetailObject(0, -1));
  EXPECT_THROW(DC.RelationList->GetDetailObject(5), EInvalidOperation);

  // Without a relation that has a detail controller the object goes, and
  // the clone behind its link object forgets its master.
  TFakeController Clone;
  DC.CloneLink = New<TObject>();
  DC.Clone = &Clone;
  DC.RelationList->GetDetailObject(1)->AssignLinkObject(0, DC.CloneLink);
  Free(R2);
  EXPECT_TRUE(Detail.Logged("NoMaster"));
  EXPECT_EQ(DC.RelationList->GetDetailObject(1), nullptr);
  EXPECT_TRUE(Clone.Logged("NoRelation"));
  Free(R1);
  EXPECT_EQ(DC.RelationList->DataField(), nullptr);
  EXPECT_EQ(DC.RelationList->GetDetailObject(1), nullptr);
  EXPECT_EQ(DC.Locks, 0);
}

// --- Data filter criteria ---------------------------------------------------------------------------

struct TFilterFixture {
  TFakeController DC;
  TTestColumn* Num = DC.AddColumn(u"Num", 10, ClassOf<TvlIntegerValueType>());
  TTestColumn* Txt = DC.AddColumn(u"Txt", 20, ClassOf<TvlStringValueType>());
  std::unique_ptr<TvlDataFilterCriteria, TObjectFree> Filter{
      New<TvlDataFilterCriteria>(static_cast<IvlDataController*>(&DC))};
};

TEST(vlDataFilterCriteria, ChangesRefilterTheController) {
  TFilterFixture F;
  EXPECT_TRUE(F.Filter->StoreItemLinkNames());
  F.Filter->SetActive(true);  // an empty criteria still signals
  EXPECT_EQ(F.DC.Log, (std::vector<std::string>{"Post", "FilterChanged"}));
  EXPECT_FALSE(F.Filter->IsFiltering());
  TvlFilterCriteriaItem* Leaf = F.Filter->AddItem(nullptr, F.Num, foGreater, Variant(1), u"1");
  EXPECT_EQ(Leaf->StoredItemLink(), F.DC.FieldOf(F.Num));  // the item's field is remembered
  EXPECT_EQ(Leaf->ItemLink(), F.Num);
  EXPECT_EQ(F.Filter->FindItemByItemLink(F.Num), Leaf);
  EXPECT_TRUE(F.Filter->IsFiltering());
  F.DC.GridMode = true;
  EXPECT_FALSE(F.Filter->IsFiltering());
  F.DC.GridMode = false;
  EXPECT_EQ(F.Filter->FilterText(), u"(Num > 1)");
  EXPECT_EQ(F.Filter->FilterCaption(), u"(Caption Num > 1)");

  F.DC.SetValues(F.Num, {Variant(0), Variant(2), Null()});
  EXPECT_FALSE(F.Filter->MatchRecordIndex(0));
  EXPECT_TRUE(F.Filter->MatchRecordIndex(1));

  // While the owner loads, or for an extra filter, nothing refilters.
  F.DC.Log.clear();
  F.DC.OwnerLoading = true;
  F.Filter->SetActive(false);
  F.DC.OwnerLoading = false;
  F.DC.Extra->Add(F.Filter.get());
  F.Filter->SetActive(true);
  EXPECT_TRUE(F.DC.Log.empty());
  F.DC.Extra->Remove(F.Filter.get());

  // A leaf whose field lost its item is empty but stays until removed by field.
  F.DC.FieldOf(F.Num)->SetItem(nullptr);
  EXPECT_TRUE(Leaf->IsEmpty());
  EXPECT_EQ(F.Filter->Root()->Count(), 1);
  F.Filter->RemoveItemByField(static_cast<TvlCustomDataField*>(Leaf->StoredItemLink()));
  EXPECT_TRUE(F.Filter->IsEmpty());
}

TEST(vlDataFilterCriteria, CriteriaPropertyCarriesTheTree) {
  TFilterFixture F;
  F.Filter->SetActive(true);
  F.Filter->SetOptions(TvlFilterCriteriaOptions{fcoCaseInsensitive});
  F.Filter->AddItem(nullptr, F.Txt, foLike, Variant(String(u"a%")), u"a");
  std::unique_ptr<TMemoryStream, TObjectFree> S(New<TMemoryStream>());
  F.Filter->SaveToStream(S.get());

  // The form file's text form, edited and turned back into binary.
  RawByteString Binary(static_cast<const char*>(S->Memory()), S->Size());
  RawByteString Text = ObjectBinaryToText(Binary);
  EXPECT_EQ(Text.substr(0, Text.find("Filter.Criteria")),
            "object TFilterWrapper\r\n  Filter.Options = [fcoCaseInsensitive]\r\n  Filter.Active = True\r\n  ");
  Text.replace(Text.find("fcoCaseInsensitive"), 18, "fcoSoftNull");
  RawByteString Edited = ObjectTextToBinary(Text);
  S->SetSize(0);
  S->WriteBuffer(Edited.data(), static_cast<Integer>(Edited.size()));

  TFilterFixture G;
  G.DC.Columns[1]->ID = 99;  // a different ID: the name binds the leaf
  S->SetPosition(0);
  G.Filter->LoadFromStream(S.get());
  EXPECT_EQ(G.Filter->Options(), TvlFilterCriteriaOptions{fcoSoftNull});
  EXPECT_TRUE(G.Filter->Active());
  EXPECT_EQ(G.Filter->FilterText(), u"(Txt LIKE 'a%')");
  EXPECT_EQ(G.Filter->FindItemByItemLink(G.Txt)->ItemLink(), G.Txt);
}

TEST(vlDataFilterCriteria, ValueListFromRecords) {
  TFilterFixture F;
  F.DC.SetValues(F.Num, {Variant(3), Null(), Variant(1), Variant(3)});
  std::unique_ptr<TvlDataFilterValueList, TObjectFree> L(F.Filter->CreateValueList());
  L->Load(0, true, false);
  std::vector<std::u16string> Texts;
  for (Integer I = 0; I < L->Count(); ++I) Texts.push_back(L->Items(I).DisplayText);
  EXPECT_EQ(Texts, (std::vector<std::u16string>{u"(All)", u"(Custom...)", u"(Blanks)", u"(NonBlanks)", u"1", u"3"}));

  // Only the filtered records, and a limit of four entries.
  F.DC.Filtered = {0, 2};
  F.Filter->SetMaxValueListCount(3);
  L->Load(0, false, true);
  ASSERT_EQ(L->Count(), 3);
  EXPECT_EQ(L->Items(2).Value.AsInteger(), 3);  // the first value met wins the one place

  // In grid mode the records are not scanned.
  F.DC.GridMode = true;
  L->Load(0, false, false);
  EXPECT_EQ(L->Count(), 4);
}

}  // namespace
