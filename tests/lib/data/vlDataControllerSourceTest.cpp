// The controller usable from creation, its edit operations and display
// texts, the custom data source's compare operations, and the hooks around
// notifications and detail focus.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "lib/data/vlData.h"
#include "lib/data/vlDataController.h"
#include "lib/data/vlValueTypes.h"
#include "platform/classes/Classes.h"
#include "platform/rtl/Variants.h"

namespace {

using TControllerPtr = std::unique_ptr<TvlCustomDataController, TObjectFree>;
using TComponentPtr = std::unique_ptr<TComponent, TObjectFree>;

// Integer values by handle, -1 standing for Null; how it compares is chosen
// by Mode: 0 through values, 1 compare information, 2 its own record
// comparison, 3 it sorts itself.
class TCompareSource : public TvlCustomDataSource {
  CL_CLASS(TCompareSource, TvlCustomDataSource)
 public:
  Integer Mode{};
  std::vector<Integer> Values;
  Integer ValueReads{}, Compares{}, Sorts{};
  Integer GetRecordCount() override { return static_cast<Integer>(Values.size()); }
  Variant GetValue(TRecordHandle H, Integer) override {
    ++ValueReads;
    return Values[H] < 0 ? Null() : Variant(Values[H]);
  }
  Boolean IsCompareInfoSupported() override { return Mode == 1; }
  Boolean GetInfoForCompare(TRecordHandle H, Integer, const void*& PValue) override {
    PValue = &Values[H];
    return Values[H] >= 0;
  }
  Boolean IsCompareRecordsSupported() override { return Mode == 2; }
  Integer CompareRecords(TRecordHandle H1, TRecordHandle H2, Integer) override {
    ++Compares;
    return Values[H1] < Values[H2] ? -1 : (Values[H1] > Values[H2] ? 1 : 0);
  }
  Boolean IsCustomSorting() override { return Mode == 3; }
  void CustomSort() override { ++Sorts; }
};

// A source that says it gives compare information but does not.
class TNoInfoSource : public TvlCustomDataSource {
  CL_CLASS(TNoInfoSource, TvlCustomDataSource)
 public:
  Boolean IsCompareInfoSupported() override { return true; }
};

// Two records whose detail rows are asked of the source and counted.
class TChildrenSource : public TvlCustomDataSource {
  CL_CLASS(TChildrenSource, TvlCustomDataSource)
 public:
  Integer Asked{};
  Integer GetRecordCount() override { return 2; }
  Boolean GetDetailHasChildren(Integer, Integer) override {
    ++Asked;
    return true;
  }
};

// Rows kept by the source (a detail's).
class TValuesSource : public TvlCustomDataSource {
  CL_CLASS(TValuesSource, TvlCustomDataSource)
 public:
  std::vector<Variant> Rows{Variant(1), Variant(2)};
  Integer GetRecordCount() override { return static_cast<Integer>(Rows.size()); }
  Variant GetValue(TRecordHandle H, Integer) override { return Rows[H]; }
  void SetValue(TRecordHandle H, Integer, const Variant& V) override { Rows[H] = V; }
};

// A provider that follows its source's current record.
class TSyncProvider : public TvlCustomDataProvider {
  CL_CLASS(TSyncProvider, TvlCustomDataProvider)
 public:
  Boolean IsSyncMode() override { return true; }
};

// A master whose clones (three records each) are made on request; with
// Sync its provider is synchronised and its focus moves its details' focus.
class TMasterView : public TvlCustomDataController {
  CL_CLASS(TMasterView, TvlCustomDataController)
 public:
  Boolean Sync{};
  Integer Notifies{};
  void Create(TComponent* AOwner) override {
    inherited::Create(AOwner);
    ReplaceProvider(New<TSyncProvider>(this));
  }
  Boolean IsDetailsFocusSynchronized() override { return Sync; }
  void BeforeNotifyControl() override { ++Notifies; }
  TObject* CreateDetailLinkObject(TvlCustomDataRelation* ARelation, Integer ARecordIndex) override {
    auto* D = New<TvlCustomDataController>(nullptr);
    D->AddItem(nullptr)->SetValueTypeClass(ClassOf<TvlIntegerValueType>());
    D->SetMasterRelation(ARelation, ARecordIndex);
    if (!Sync) return D;
    D->SetRecordCount(3);
    return D;
  }
  IvlDataController* GetDetailDataControllerByLinkObject(TObject* ALinkObject) override {
    return dynamic_cast<TvlCustomDataController*>(ALinkObject);
  }
};

}  // namespace

CL_IMPLEMENT_CLASS(TCompareSource)
CL_IMPLEMENT_CLASS(TNoInfoSource)
CL_IMPLEMENT_CLASS(TChildrenSource)
CL_IMPLEMENT_CLASS(TValuesSource)
CL_IMPLEMENT_CLASS(TSyncProvider)
CL_IMPLEMENT_CLASS(TMasterView)

TEST(DataControllerSource, ControllerIsActiveFromCreation) {
  TControllerPtr Custom(New<TvlCustomDataController>(nullptr));
  EXPECT_FALSE(Custom->Active());
  std::unique_ptr<TvlDataController, TObjectFree> DC(New<TvlDataController>(nullptr));
  EXPECT_TRUE(DC->Active());
  EXPECT_TRUE(DC->InheritsFrom(TvlCustomDataController::StaticClass()));
  // Without a data set everything is allowed (deleting needs records).
  EXPECT_EQ(DC->EditOperations(), dceoAppend | dceoEdit | dceoInsert | dceoShowEdit);
  DC->AddItem(nullptr)->SetValueTypeClass(ClassOf<TvlIntegerValueType>());
  DC->SetRecordCount(2);
  EXPECT_EQ(DC->EditOperations(), dceoAppend | dceoDelete | dceoEdit | dceoInsert | dceoShowEdit);
  EXPECT_EQ(DC->GetItemValueSource(0), evsText);
}

// Sorting in provider mode by each way the source can compare: the same
// order (Null first, ties by record), without reading values where the
// source compares; a source that sorts itself keeps its own order.
TEST(DataControllerSource, ProviderModeSortingUsesTheSourcesComparison) {
  struct TCase {
    Integer Mode;
    std::vector<Integer> Order;
  };
  const TCase Cases[] = {{0, {1, 2, 4, 3, 0}}, {1, {1, 2, 4, 3, 0}}, {2, {1, 2, 4, 3, 0}}, {3, {0, 1, 2, 3, 4}}};
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Mode);
    std::unique_ptr<TCompareSource, TObjectFree> Source(New<TCompareSource>());
    Source->Mode = C.Mode;
    Source->Values = {30, -1, 10, 20, 10};
    TControllerPtr DC(New<TvlCustomDataController>(nullptr));
    DC->AddItem(nullptr)->SetValueTypeClass(ClassOf<TvlIntegerValueType>());
    DC->SetCustomDataSource(Source.get());
    Source->ValueReads = 0;
    DC->ChangeSorting(0, soAscending);
    std::vector<Integer> Order;
    for (Integer R = 0; R < DC->GetRowCount(); ++R) Order.push_back(DC->GetRowInfo(R).RecordIndex);
    EXPECT_EQ(Order, C.Order);
    if (C.Mode == 1 || C.Mode == 3) EXPECT_EQ(Source->ValueReads, 0);
    if (C.Mode == 2) EXPECT_GT(Source->Compares, 0);
    EXPECT_EQ(Source->Sorts, C.Mode == 3 ? 1 : 0);
    DC->SetCustomDataSource(nullptr);
  }
  std::unique_ptr<TNoInfoSource, TObjectFree> NoInfo(New<TNoInfoSource>());
  const void* P = nullptr;
  EXPECT_THROW(NoInfo->GetInfoForCompare(0, 0, P), EvlInvalidDataControllerOperation);
}

// A text-stored item: its display text is written and read, and a
// cancelled edit gives the text back with the value.
TEST(DataControllerSource, DisplayTextOfATextStoredItemSurvivesACancel) {
  TControllerPtr DC(New<TvlCustomDataController>(nullptr));
  DC->AddItem(nullptr)->SetValueTypeClass(ClassOf<TvlIntegerValueType>());
  DC->ChangeTextStored(0, true);
  DC->SetRecordCount(2);
  DC->SetValue(0, 0, 1);
  DC->SetDisplayText(0, 0, u"one");
  EXPECT_EQ(DC->GetDisplayText(0, 0), u"one");
  DC->SetFocusedRecordIndex(0);
  DC->Edit();
  DC->SetEditValue(0, 9);
  DC->SetDisplayText(0, 0, u"nine");
  EXPECT_EQ(DC->GetDisplayText(0, 0), u"nine");
  DC->Cancel();
  EXPECT_EQ(DC->GetValue(0, 0), Variant(1));
  EXPECT_EQ(DC->GetDisplayText(0, 0), u"one");
  EXPECT_THROW(DC->SetDisplayText(5, 0, u"x"), EvlInvalidDataControllerOperation);
}

// A data change of a provider-mode detail makes its master ask again
// whether its records have details, except while the detail edits.
TEST(DataControllerSource, DetailDataChangeResetsTheMastersChildren) {
  TComponentPtr Item(New<TComponent>(nullptr));
  std::unique_ptr<TMasterView, TObjectFree> M(New<TMasterView>(nullptr));
  M->AddItem(nullptr)->SetValueTypeClass(ClassOf<TvlIntegerValueType>());
  TControllerPtr P(New<TvlCustomDataController>(nullptr));
  P->SetMasterMode(M->Relations()->Add(Item.get()), true);
  std::unique_ptr<TChildrenSource, TObjectFree> Source(New<TChildrenSource>());
  std::unique_ptr<TValuesSource, TObjectFree> Rows(New<TValuesSource>());
  M->SetCustomDataSource(Source.get());
  TvlCustomDataController* D = M->GetDetailDataController(0, 0);
  ASSERT_NE(D, nullptr);
  D->SetCustomDataSource(Rows.get());
  EXPECT_TRUE(M->GetDetailHasChildren(1, 0));
  EXPECT_TRUE(M->GetDetailHasChildren(1, 0));
  EXPECT_EQ(Source->Asked, 1);
  D->SetValue(0, 0, 5);
  EXPECT_TRUE(M->GetDetailHasChildren(1, 0));
  EXPECT_EQ(Source->Asked, 2);
  // Inside the detail's edit the answers stay; its post resets them.
  D->SetFocusedRecordIndex(1);
  D->Edit();
  D->SetEditValue(0, 7);
  EXPECT_TRUE(M->GetDetailHasChildren(1, 0));
  EXPECT_EQ(Source->Asked, 2);
  D->Post();
  EXPECT_TRUE(M->GetDetailHasChildren(1, 0));
  EXPECT_EQ(Source->Asked, 3);
  EXPECT_EQ(Rows->Rows[1], Variant(7));
  D->SetCustomDataSource(nullptr);
  M->SetCustomDataSource(nullptr);
}

// With a synchronised provider and details focus synchronised, moving the
// master's focus puts the focused record's detail on its saved row; the
// hook before notifications runs at every released lock.
TEST(DataControllerSource, FocusMoveFocusesTheDetailsAndNotifiesTheHook) {
  for (const Boolean Sync : {false, true}) {
    SCOPED_TRACE(Sync);
    TComponentPtr Item(New<TComponent>(nullptr));
    std::unique_ptr<TMasterView, TObjectFree> M(New<TMasterView>(nullptr));
    M->Sync = true;
    M->AddItem(nullptr)->SetValueTypeClass(ClassOf<TvlIntegerValueType>());
    TControllerPtr P(New<TvlCustomDataController>(nullptr));
    P->SetMasterMode(M->Relations()->Add(Item.get()), true);
    M->SetRecordCount(2);
    TvlCustomDataController* D = M->GetDetailDataController(1, 0);
    ASSERT_NE(D, nullptr);
    M->Sync = Sync;
    D->DataControllerInfo()->FocusingInfo()->RecordIndex = 2;
    ASSERT_EQ(D->FocusedRowIndex(), -1);
    M->Notifies = 0;
    M->SetFocusedRecordIndex(1);
    EXPECT_EQ(D->FocusedRowIndex(), Sync ? 2 : -1);
    EXPECT_GT(M->Notifies, 0);
    const Integer Before = M->Notifies;
    M->BeginUpdate();
    M->EndUpdate();
    EXPECT_EQ(M->Notifies, Before + 1);
  }
}

namespace {
// A view whose editor holds text: UpdateData writes it (or refuses it).
class TEditorController : public TvlDataController {
  CL_CLASS(TEditorController, TvlDataController)
 public:
  Integer Writes{};
  Boolean Refuse{};
  Variant Text;
  void UpdateData() override {
    ++Writes;
    if (Refuse) throw EvlInvalidDataControllerOperation(u"invalid text");
    SetEditValue(0, Text);
  }
};
CL_IMPLEMENT_CLASS(TEditorController)
}  // namespace

// PostEditingData writes the editor's text once and ends the change; a
// refused text keeps the change; the post that follows writes nothing twice.
TEST(DataControllerSource, PostEditingDataEndsTheChange) {
  std::unique_ptr<TEditorController, TObjectFree> DC(New<TEditorController>(nullptr));
  DC->AddItem(nullptr)->SetValueTypeClass(ClassOf<TvlIntegerValueType>());
  DC->SetRecordCount(2);
  DC->SetFocusedRecordIndex(0);
  ASSERT_TRUE(DC->CanInitEditing(0));
  EXPECT_EQ(DC->EditState(), dceEdit | dceChanging);
  DC->Refuse = true;
  EXPECT_THROW(DC->PostEditingData(), EvlInvalidDataControllerOperation);
  EXPECT_EQ(DC->EditState(), dceEdit | dceChanging);
  DC->Refuse = false;
  DC->Text = 5;
  DC->PostEditingData();
  EXPECT_EQ(DC->Writes, 2);
  EXPECT_EQ(DC->EditState(), dceEdit | dceModified);
  DC->Post();
  EXPECT_EQ(DC->Writes, 2);
  EXPECT_EQ(DC->EditState(), 0);
  EXPECT_EQ(DC->GetValue(0, 0), Variant(5));
}

// Without a data set, a click that ends an untouched new record (the post
// cancels it) lands on the row clicked although the records after the new
// one moved up; an appended one moves nothing.
TEST(DataControllerSource, ClickAfterAnUntouchedNewRecordLandsOnTheRowClicked) {
  for (const Boolean Insert : {false, true}) {
    SCOPED_TRACE(Insert);
    std::unique_ptr<TvlDataController, TObjectFree> DC(New<TvlDataController>(nullptr));
    DC->AddItem(nullptr)->SetValueTypeClass(ClassOf<TvlIntegerValueType>());
    DC->SetRecordCount(4);
    for (Integer R = 0; R < 4; ++R) DC->SetValue(R, 0, R + 1);
    DC->SetFocusedRowIndex(1);
    if (Insert)
      DC->Insert();
    else
      DC->Append();
    ASSERT_EQ(DC->GetRowCount(), 5);
    Integer Target = -1;
    for (Integer R = 0; R < DC->GetRowCount(); ++R)
      if (DC->GetValue(DC->GetRowInfo(R).RecordIndex, 0) == Variant(3)) Target = R;
    ASSERT_GE(Target, 0);
    DC->SetFocusedRowIndex(Target);
    EXPECT_EQ(DC->GetRowCount(), 4);
    EXPECT_EQ(DC->EditState(), 0);
    EXPECT_EQ(DC->GetValue(DC->FocusedRecordIndex(), 0), Variant(3));
    EXPECT_EQ(DC->FocusedRowIndex(), 2);
  }
}
