// The data-set controller: construction, binding and reading the data set,
// record keys and the record being edited.
#include "lib/data/vlDBData.h"

#include <algorithm>

#include "lib/data/vlCustomData.h"
#include "lib/data/vlDataConsts.h"
#include "lib/data/vlDataUtils.h"
#include "lib/data/vlDB.h"
#include "lib/data/vlDBDataPrivate.h"
#include "platform/classes/Lists.h"
#include "platform/classes/StringLists.h"
#include "platform/rtl/Strings.h"
#include "platform/rtl/Finally.h"
#include "platform/rtl/Variants.h"

using namespace vl_db_data;

// --- Controller --------------------------------------------------------------------

void TvlDBDataController::Create(TComponent* AOwner) {
  inherited::Create(AOwner);
  ReplaceProvider(New<TvlDBDataProvider>(this));
  FDataModeController = New<TvlDBDataModeController>(this);
}

void TvlDBDataController::Destroy() {
  // The link leaves the data source first, so no notification reaches a half-freed controller.
  if (DBProvider()) DBProvider()->SetDataSource(nullptr);
  Free(FDataModeController);
  FDataModeController = nullptr;
  Free(FMasterDetailKeyFields);
  FMasterDetailKeyFields = nullptr;
  TvlDBDataField* Key = FKeyField;
  FKeyField = nullptr;
  Free(Key);
  inherited::Destroy();
}

TvlDBDataProvider* TvlDBDataController::DBProvider() const { return static_cast<TvlDBDataProvider*>(Provider()); }
TDataSet* TvlDBDataController::DataSet() const { return DBProvider()->DataSet(); }
TDataSource* TvlDBDataController::DataSource() const { return DBProvider()->DataSource(); }
void TvlDBDataController::SetDataSource(TDataSource* Value) {
  ResetMasterDetailKeyFields();
  DBProvider()->SetDataSource(Value);
}

void TvlDBDataController::SetKeyFieldNames(const String& Value) {
  if (FKeyFieldNames == Value) return;
  FKeyFieldNames = Value;
  RebuildKeyIndex();
  // The key needs no item: an internal field holds its values (one sub-field per name).
  BindInternalField(FKeyField, Value);
  RebuildKeyIndex();
}

void TvlDBDataController::FieldRemoved(TvlCustomDataField* AField) {
  if (AField == FKeyField) FKeyField = nullptr;
  inherited::FieldRemoved(AField);
}

Integer TvlDBDataController::RecNo() {
  TDataSet* DS = DataSet();
  return DS && DS->Active() ? DS->RecNo() : -1;
}

void TvlDBDataController::SetRecNo(Integer Value) {
  if (DataSet() && DataSet()->Active()) DataSet()->SetRecNo(Value);
}

Integer TvlDBDataController::DataSetRecordCount() {
  TDataSet* DS = DataSet();
  return DS && DS->Active() ? DS->RecordCount() : 0;
}

void TvlDBDataController::GetKeyDBFields(std::vector<TField*>& AList) {
  AList.clear();
  for (TvlDBDataField* Leaf : KeyLeaves()) {
    TField* Field = DataSet() ? Leaf->Field() : nullptr;
    if (!Field) DBDataError(vlSDBKeyFieldNotFound);
    AList.push_back(Field);
  }
}

std::vector<TvlDBDataField*> TvlDBDataController::KeyLeaves() const {
  std::vector<TvlDBDataField*> Leaves;
  if (FKeyField) FKeyField->GetLeafFields(Leaves);
  return Leaves;
}

Variant TvlDBDataController::GetKeyFieldsValues() {
  std::vector<TField*> Fields;
  GetKeyDBFields(Fields);
  if (Fields.empty()) return Null();
  if (Fields.size() == 1) return FieldValue(Fields[0]);
  std::vector<Variant> Values;
  for (TField* F : Fields) Values.push_back(FieldValue(F));
  return MakeArray(Values);
}

Variant TvlDBDataController::GetRecordId(Integer ARecordIndex) {
  if (ARecordIndex < 0 || ARecordIndex >= RecordCount()) DBDataError(vlSDataRecordIndexError);
  const std::vector<TvlDBDataField*> Leaves = KeyLeaves();
  if (Leaves.empty()) return Null();
  // The key field is internal: stored with the records, or in grid mode read from the window.
  std::vector<Variant> Values;
  for (TvlDBDataField* Leaf : Leaves)
    Values.push_back(IsGridMode() ? DBProvider()->GetExternalValue(ARecordIndex, Leaf) : GetValue(ARecordIndex, Leaf));
  return Values.size() == 1 ? Values[0] : MakeArray(Values);
}

Boolean TvlDBDataController::IsKeyNavigation() { return FKeyField && !IsGridMode(); }

String TvlDBDataController::KeyText(const Variant& AValue) const {
  // Values compared as texts with their type, so 1 and '1' stay apart.
  if (VarIsArray(AValue)) {
    String S;
    for (Integer I = VarArrayLowBound(AValue, 1); I <= VarArrayHighBound(AValue, 1); ++I)
      S += KeyText(VarArrayGet(AValue, {I})) + u'\x1f';
    return S;
  }
  if (VarIsNull(AValue) || VarIsEmpty(AValue)) return u"\x1e";
  return (VarIsNumeric(AValue) ? u"n" : u"s") + VarToStr(AValue);
}

// A whole number held as such.
static Boolean IntKey(const Variant& AValue, Int64& AKey) {
  if (!VarIsOrdinal(AValue) || VarType(AValue) == varBoolean) return false;
  AKey = AValue.AsInt64();
  return true;
}

void TvlDBDataController::RebuildKeyIndex() {
  FKeyIndex.clear();
  FIntKeyIndex.clear();
  FKeyIndexValid = false;
}

void TvlDBDataController::LoadFromStream(TStream* AStream) {
  inherited::LoadFromStream(AStream);
  RebuildKeyIndex();
}

void TvlDBDataController::EnsureKeyIndex() {
  if (FKeyIndexValid) return;
  FKeyIndex.clear();
  FIntKeyIndex.clear();
  if (!IsKeyNavigation() || RecordCount() == 0 || !CanFindRecordsByKey()) return;
  std::vector<TvlCustomDataField*> Fields;
  GetKeyFields(Fields);
  FKeyIndexValid = true;
  // One key field of whole numbers (the log's "Index"): numbers index the
  // records; anything else falls back to the typed text of the key.
  FIntKeys = Fields.size() == 1;
  if (FIntKeys) {
    FIntKeyIndex.reserve(RecordCount());
    Int64 K;
    for (Integer R = 0; R < RecordCount() && FIntKeys; ++R) {
      if (IntKey(GetValue(R, Fields[0]), K))
        FIntKeyIndex.emplace(K, R);
      else
        FIntKeys = false;
    }
    if (FIntKeys) return;
    FIntKeyIndex.clear();
  }
  FKeyIndex.reserve(RecordCount());
  for (Integer R = 0; R < RecordCount(); ++R) FKeyIndex.emplace(KeyText(GetRecordId(R)), R);
}

Integer TvlDBDataController::IndexedRecord(const Variant& AKey) {
  EnsureKeyIndex();
  if (!FKeyIndexValid) return -1;
  if (FIntKeys) {
    Int64 K;
    if (!IntKey(AKey, K)) {
      // A float without fraction matches the whole number, as the text key does.
      if (!VarIsNumeric(AKey) || VarIsNull(AKey)) return -1;
      const double D = AKey.AsDouble();
      if (D != static_cast<double>(static_cast<Int64>(D))) return -1;
      K = static_cast<Int64>(D);
    }
    auto It = FIntKeyIndex.find(K);
    return It == FIntKeyIndex.end() ? -1 : It->second;
  }
  auto It = FKeyIndex.find(KeyText(AKey));
  return It == FKeyIndex.end() ? -1 : It->second;
}

void TvlDBDataController::IndexRecord(Integer ARecordIndex, Boolean AAdd) {
  if (!FKeyIndexValid) return;
  const Variant Key = GetRecordId(ARecordIndex);
  if (FIntKeys) {
    Int64 K;
    if (!IntKey(Key, K)) {
      RebuildKeyIndex();
      return;
    }
    auto It = FIntKeyIndex.find(K);
    if (AAdd)
      FIntKeyIndex[K] = ARecordIndex;
    else if (It != FIntKeyIndex.end() && It->second == ARecordIndex)
      FIntKeyIndex.erase(It);
    return;
  }
  const String Text = KeyText(Key);
  auto It = FKeyIndex.find(Text);
  if (AAdd)
    FKeyIndex[Text] = ARecordIndex;
  else if (It != FKeyIndex.end() && It->second == ARecordIndex)
    FKeyIndex.erase(It);
}

Integer TvlDBDataController::FindRecordIndexByKey(const Variant& AKeyFieldValues) {
  if (IsGridMode()) {
    if (!FKeyField) return -1;
    String Key = KeyText(AKeyFieldValues);
    for (Integer R = 0; R < RecordCount(); ++R)
      if (KeyText(GetRecordId(R)) == Key) return R;
    return -1;
  }
  const Integer KeyCount = static_cast<Integer>(KeyLeaves().size());
  if (KeyCount == 0) return -1;
  const Boolean IsArray = VarIsArray(AKeyFieldValues);
  if (KeyCount == 1 && IsArray) return -1;
  if (KeyCount > 1 && (!IsArray || VarArrayHighBound(AKeyFieldValues, 1) - VarArrayLowBound(AKeyFieldValues, 1) + 1 <
                                       KeyCount))
    return -1;
  Variant Key = AKeyFieldValues;
  if (KeyCount > 1) {
    std::vector<Variant> Values;
    for (Integer I = 0; I < KeyCount; ++I)
      Values.push_back(VarArrayGet(AKeyFieldValues, {VarArrayLowBound(AKeyFieldValues, 1) + I}));
    Key = MakeArray(Values);
  }
  return IndexedRecord(Key);
}

Boolean TvlDBDataController::LocateByKey(const Variant& AKeyFieldValues) {
  Integer R = FindRecordIndexByKey(AKeyFieldValues);
  if (R < 0 && IsGridMode()) {
    TDataSet* DS = DataSet();
    if (!DS || !DS->Active() || !vlKeyValuesUsable(DS, FKeyFieldNames, AKeyFieldValues)) return false;
    DBProvider()->EnterLocating();
    Boolean Found;
    {
      Finally Leave([&] { DBProvider()->LeaveLocating(); });
      Found = DS->Locate(FKeyFieldNames, AKeyFieldValues, TLocateOptions());
    }
    if (Found) {
      DBProvider()->DataScrolled(0);
      SyncSelected(true);
    }
    return Found;
  }
  ChangeFocusedRowIndex(R < 0 ? -1 : GetRowIndexByRecordIndex(R, true));
  return R >= 0 && FocusedRecordIndex() == R;
}

Integer TvlDBDataController::FindCurrentDataSetRecord() {
  TDataSet* DS = DataSet();
  if (!DS || !DS->Active() || DS->IsEmpty()) return -1;
  Integer R = DBProvider()->RecordIndex();
  if (IsKeyNavigation()) {
    // The provider's current record when its key is the data set's; the key index otherwise.
    const Variant Key = GetKeyFieldsValues();
    if (R >= 0 && R < RecordCount() && KeyText(GetRecordId(R)) == KeyText(Key)) return R;
    return FindRecordIndexByKey(Key);
  }
  return R >= 0 && R < RecordCount() ? R : -1;
}

Boolean TvlDBDataController::LocateDataSetRecord(Integer ARecordIndex) {
  if (ARecordIndex < 0) return false;
  TDataSet* DS = DataSet();
  TvlDBDataProvider* P = DBProvider();
  // Ending a pending insert (cancelled untouched, or posted and read again)
  // moves the records after it: the target is found again, and the focus,
  // set on the row the move named, follows it once the rows are rebuilt.
  const Integer Inserted = P->IsInsertingRecord() ? P->EditingRecordIndex() : -1;
  const Integer Count = RecordCount();
  auto Retarget = [&](Integer R) {
    if (R == ARecordIndex) return;
    ARecordIndex = R;
    FRefocusRecordIndex = R;
  };
  if (IsKeyNavigation()) {
    Variant Key = GetRecordId(ARecordIndex);
    if (KeyText(Key) == KeyText(GetKeyFieldsValues()) && P->RecordIndex() == ARecordIndex) {
      CheckBrowseMode();
      return true;
    }
    CheckBrowseMode();
    if (Inserted >= 0 && Inserted != ARecordIndex) {
      Retarget(FindRecordIndexByKey(Key));
      if (ARecordIndex < 0) return false;
    }
    P->EnterLocating();
    Finally Leave([&] { P->LeaveLocating(); });
    Boolean Found = DS->Locate(FKeyFieldNames, Key, TLocateOptions());
    if (Found) P->SetRecordIndex(ARecordIndex);
    return Found;
  }
  CheckBrowseMode();
  // Without keys only a cancelled insert's own record is known to be gone.
  if (Inserted >= 0 && Inserted < ARecordIndex && RecordCount() == Count - 1) Retarget(ARecordIndex - 1);
  {
    P->EnterLocating();
    Finally Leave([&] { P->LeaveLocating(); });
    if (IsGridMode()) {
      DS->MoveBy(ARecordIndex - P->DataLink()->ActiveRecord());
      P->SetRecordIndex(P->DataLink()->ActiveRecord());
      return true;
    }
    DS->MoveBy(ARecordIndex - P->RecordIndex());
  }
  P->SetRecordIndex(ARecordIndex);
  return true;
}

Boolean TvlDBDataController::CanFocusRecord(Integer ARecordIndex) {
  TvlDBDataProvider* P = DBProvider();
  // The record being inserted stands where the data set does.
  if (P->IsInsertingRecord() && ARecordIndex == P->EditingRecordIndex()) return true;
  // The new-item row: no record is focused and the data set stays where it is
  // (an insert begun through the row is not checked out of the way).
  if (ARecordIndex < 0 && UseNewItemRowForEditing() && !FInSync) return true;
  // A detail in SQL mode first reopens its data set for its master.
  if (!FInSync && !FInResetDataSetCurrent) CheckCurrentQuery();
  if (FInSync || FInResetDataSetCurrent || !P->IsSyncMode()) return inherited::CanFocusRecord(ARecordIndex);
  P->BeginLocate();
  Finally Leave([&] { P->EndLocate(); });
  return LocateDataSetRecord(ARecordIndex);
}

void TvlDBDataController::CheckBrowseMode() {
  TDataSet* DS = DataSet();
  const Boolean WasInCheckBrowseMode = FInCheckBrowseMode;
  FInCheckBrowseMode = true;
  Finally Clear([&] { FInCheckBrowseMode = WasInCheckBrowseMode; });
  // The data set's other links (editors) write their pending values first.
  if (DS && DS->State() != dsInactive) DS->DataEvent(deCheckBrowseMode, 0);
  if (!DS || (DS->State() != dsEdit && DS->State() != dsInsert)) {
    CheckDetailsBrowseMode();
    return;
  }
  DS->UpdateRecord();
  if (DBProvider()->IsDataSetModified()) {
    if (!DBProvider()->IsSmartRefresh() && !IsGridMode()) {
      // Through the provider: re-enabling is then no layout change, which
      // would read the data set again while a failed post keeps it editing.
      DBProvider()->DisableDataSetControls();
      Finally Enable([&] { DBProvider()->EnableDataSetControls(); });
      DS->Post();
    } else {
      DS->Post();
    }
  } else {
    Cancel();
    if (IsEditState(DS)) DS->Cancel();
  }
  CheckDetailsBrowseMode();
}

namespace {

// A weak reference for the length of a scope.
struct TWeakController {
  TvlDataListenerLink* Link;
  explicit TWeakController(TvlCustomDataController* AController) : Link(AController->AddListenerLink()) {}
  ~TWeakController() {
    if (Link->Ref) Link->Ref->RemoveListenerLink(Link);
    delete Link;
  }
  Boolean Alive() const { return Link->Ref != nullptr; }
};

}  // namespace

Boolean TvlDBDataController::CanChangeFocusedRow() {
  if (FInResetDataSetCurrent) return true;
  TvlDBDataController* Master = MasterDBDataController();
  if (!Master) return true;
  if (!Master->CanChangeFocusedRow()) return false;
  // Posting may free either controller (its master row may go).
  TWeakController Self(this), Owner(Master);
  Master->CheckBrowseMode();
  if (Self.Alive()) CheckBrowseMode();
  return Self.Alive() && Owner.Alive();
}

void TvlDBDataController::AfterFocusedRecordChange() {
  if (FocusedRecordIndex() == -1 || !IsDetailMode()) return;
  const Boolean Was = FInResetDataSetCurrent;
  FInResetDataSetCurrent = true;
  Finally Restore([&] { FInResetDataSetCurrent = Was; });
  DBProvider()->SetIsDataSetCurrent(true);
}

void TvlDBDataController::SetFocus() {
  if (IsDetailMode() && FDataModeController->DetailInSyncMode()) CheckCurrentQuery();
}

Boolean TvlDBDataController::DoDetailExpanding(Integer ARecordIndex, Boolean AExpanded) {
  if (IsGridMode() && AExpanded) {
    ChangeFocusedRecordIndex(ARecordIndex);
    if (FocusedRecordIndex() != ARecordIndex) ChangeFocusedRecordIndex(ARecordIndex);
    if (FocusedRecordIndex() != ARecordIndex) return false;
  }
  return inherited::DoDetailExpanding(ARecordIndex, AExpanded);
}

void TvlDBDataController::ForEachRow(Boolean ASelectedRows, const TvlDataControllerEachRowProc& AProc) {
  TDataSet* DS = DataSet();
  if (!IsGridMode() || !DS) {
    inherited::ForEachRow(ASelectedRows, AProc);
    return;
  }
  auto Visit = [&] {
    const Integer Row = FocusedRowIndex();
    if (Row >= 0) AProc(Row, GetRowInfo(Row));
  };
  if (ASelectedRows && !MultiSelect()) {
    Visit();
  } else if (ASelectedRows) {
    // A copy: the walk may change the selection's window rows, not its bookmarks.
    TvlBookmarkList* Marks = DBSelection()->Bookmarks();
    std::vector<TBookmark> List;
    for (Integer I = 0; I < Marks->Count(); ++I) List.push_back(Marks->Items(I));
    for (const TBookmark& B : List) {
      DS->GotoBookmark(B);
      Visit();
    }
  } else {
    DS->First();
    while (!DS->Eof()) {
      Visit();
      DS->Next();
    }
  }
}

void TvlDBDataController::RefreshExternalData() {
  if (DataSet()) DataSet()->Refresh();
}

// --- Controller: record keys and the record being edited -------------------------------

void TvlDBDataController::GetKeyFields(std::vector<TvlCustomDataField*>& AList) {
  AList.clear();
  for (TvlDBDataField* Leaf : KeyLeaves()) AList.push_back(Leaf);
}

Boolean TvlDBDataController::CanFindRecordsByKey() {
  if (!FKeyField || IsGridMode()) return false;
  // A key name the data set lacks has no values to find records by.
  for (TvlDBDataField* Leaf : KeyLeaves())
    if (!Leaf->Field()) return false;
  return true;
}

void TvlDBDataController::UpdateEditingRecord() {
  TvlDBDataProvider* P = DBProvider();
  const Integer R = P->EditingRecordIndex();
  if (R != vlNoEditingRecordIndex && IsNewItemRecord(R)) {
    // The new-item row shows the values of the data set's new record.
    {
      BeginUpdate();
      Finally End([&] { EndUpdate(); });
      ReadCurrentRecord(R);
    }
    if (!P->IsInCanInitEditing()) Change(dccUpdateRecord);
    return;
  }
  if (R < 0 || R >= RecordCount()) return;
  P->FUpdatingRecordIndex = R;
  P->FUpdatingRecordIsInserting = P->IsInsertingRecord();
  DoUpdateRecord(R);
}

void TvlDBDataController::DoUpdateRecord(Integer ARecordIndex) {
  if (ARecordIndex < 0 || ARecordIndex >= RecordCount() || IsGridMode()) return;
  {
    BeginUpdate();
    Finally End([&] { EndUpdate(); });
    ReadKeyedRecord(ARecordIndex);
  }
  if (!DBProvider()->IsInCanInitEditing()) Change(dccUpdateRecord);
}

Integer TvlDBDataController::GridModeWindowSize() {
  Integer N = FDataModeController->GridModeBufferCount();
  return N > 0 ? N : GetDefaultGridModeBufferCount();
}

void TvlDBDataController::UpdateGridModeBufferCount() {
  if (!IsGridMode() || !DBProvider()->DataLink()->Active()) return;
  FInUpdateGridModeBufferCount = true;
  Finally Clear([&] { FInUpdateGridModeBufferCount = false; });
  DBProvider()->DataSetChanged();
}

void TvlDBDataController::ReadCurrentRecord(Integer ARecordIndex) {
  TvlValueDefDBReader* Reader = New<TvlValueDefDBReader>();
  Finally F([&] { Free(Reader); });
  DataStorage()->ReadRecord(ARecordIndex, Reader);
  DataChanged(dcRecord, -1, ARecordIndex);
}

void TvlDBDataController::ReadKeyedRecord(Integer ARecordIndex) {
  IndexRecord(ARecordIndex, false);
  ReadCurrentRecord(ARecordIndex);
  IndexRecord(ARecordIndex, true);
}

Boolean TvlDBDataController::IsAutoIncKey() {
  std::vector<TField*> Fields;
  GetKeyDBFields(Fields);
  return Fields.size() == 1 && Fields[0]->DataType() == ftAutoInc;
}

void TvlDBDataController::LoadFromDataSet() {
  TDataSet* DS = DataSet();
  TvlDBDataProvider* P = DBProvider();
  // A pattern detail holds no records: its clones do.
  if (!DS || !DS->Active() || IsPattern()) {
    {
      BeginFullUpdate();
      Finally End([&] { EndFullUpdate(); });
      SetRecordCount(0);
      RebuildKeyIndex();
    }
    if (DS && DS->Active()) SyncFocusWithDataSet();
    return;
  }
  const Variant Bookmark = BookmarkKey();
  P->FLoading = true;
  {
    // Selection and expanded details come back by key after the load.
    SaveKeys();
    Finally Restore([&] { RestoreKeys(); });
    BeginFullUpdate();
    Finally End([&] { EndFullUpdate(); });
    Finally Loaded([&] { P->FLoading = false; });
    if (IsGridMode()) {
      P->LoadGridModeBuffer();
    } else {
      P->DataLink()->SetBufferCount(1);
      // The stored definitions with the data-set fields they read (as the
      // data-set reader reads them); each value moves from the data set's
      // record into the storage, texts without a copy.
      TvlValueDefDBReader* Reader = New<TvlValueDefDBReader>();
      Finally FreeReader([&] { Free(Reader); });
      P->SavePos();
      P->DisableDataSetControls();
      Finally Enable([&] { P->EnableDataSetControls(); });
      TvlDataStorage* Storage = DataStorage();
      // The storage starts empty: a record kept in place would keep its
      // expanded details while another master's values move into it.
      SetRecordCount(0);
      // A detail reads its master's rows only: from First until the detail key changes.
      SetRecordCount(P->IsDetailLoad() ? 0 : DS->RecordCount());
      Integer R = 0;
      P->FRecordIndex = -1;
      // First may reopen a detail's data set: its fields are taken after it.
      P->First();
      struct TLoadSlot {
        TvlValueDef* Def;
        TField* Field;  // nil for a value the reader computes
        Boolean TextStored;
      };
      std::vector<TLoadSlot> Slots;
      TvlValueDefs* Defs = DataStorage()->ValueDefs();
      for (Integer I = 0; I < Defs->Count(); ++I) {
        TvlValueDef* D = Defs->Items(I);
        if (!D->Stored() || Reader->IsInternal(D)) continue;
        auto* F = dynamic_cast<TvlDBDataField*>(D->GetLinkObject());
        TField* Field = F ? F->Field() : nullptr;
        if (Field && Field->FieldKind() == fkAggregate) Field = nullptr;
        Slots.push_back({D, Field, D->TextStored()});
      }
      const Boolean FindSaved = !P->FSavePosInfo.Bookmark.empty();
      for (; !P->IsDetailEOF(); DS->Next(), ++R) {
        if (R >= RecordCount()) SetRecordCount(R + 1);
        for (const TLoadSlot& S : Slots) {
          if (S.Field) {
            Variant V = S.Field->TakeValue();
            Storage->TakeValue(R, S.Def, V);
          } else {
            Storage->SetValue(R, S.Def, Reader->GetValue(S.Def));
          }
          if (S.TextStored) Storage->SetDisplayText(R, S.Def, Reader->GetDisplayText(S.Def));
        }
        if (FindSaved && P->FRecordIndex < 0 && DS->CompareBookmarks(DS->Bookmark(), P->FSavePosInfo.Bookmark) == 0)
          P->FRecordIndex = R;
      }
      if (R < RecordCount()) SetRecordCount(R);
      DataChanged(dcTotal, -1, -1);
      if (!FindSaved && R > 0) P->FRecordIndex = 0;
      P->RestorePos();
    }
    RebuildKeyIndex();
    RestoreBookmarkKey(Bookmark);
  }
  P->ClearPostLocateFlag();
  // Views of the same data set that skipped a change while this one loaded.
  std::vector<TvlDBDataProvider*> Listeners;
  Listeners.swap(P->FListeners);
  for (TvlDBDataProvider* L : Listeners) L->DataLink()->NotifyDataSetChanged();
  SyncFocusWithDataSet();
}

Variant TvlDBDataController::BookmarkKey() {
  // Outside grid mode the record bookmark follows its record's key.
  const Integer R = IsGridMode() ? -1 : BookmarkRecordIndex();
  return R >= 0 && R < RecordCount() && CanFindRecordsByKey() ? GetRecordId(R) : Variant();
}

void TvlDBDataController::RestoreBookmarkKey(const Variant& AKey) {
  if (!VarIsEmpty(AKey)) SetBookmarkRecordIndex(FindRecordIndexByKey(AKey));
}

void TvlDBDataController::SmartRefreshRecord() {
  TDataSet* DS = DataSet();
  TvlDBDataProvider* P = DBProvider();
  const Integer DSCount = DS->RecordCount();
  Boolean Done;
  {
    BeginFullUpdate();
    Finally End([&] { EndFullUpdate(); });
    Integer R = P->FUpdatingRecordIndex;
    // An insert through the new-item row: the stored record appended when its edit ended.
    if (R < 0 && P->FUpdatingNewRecordIndex >= 0) R = P->FUpdatingNewRecordIndex;
    if (R >= 0 && R < RecordCount()) {
      // An edit or insert through this controller: its stored record.
      const Variant D = DS->IsEmpty() ? Null() : GetKeyFieldsValues();
      const Variant K = GetRecordId(R);
      const Integer Holder = DS->IsEmpty() ? -1 : FindRecordIndexByKey(D);
      if (KeyText(K) == KeyText(D) ||
          (Holder < 0 && P->FUpdatingRecordIsInserting && VarIsNull(K) && IsAutoIncKey())) {
        ReadKeyedRecord(R);
        Done = true;
      } else if (Holder < 0 && DSCount == RecordCount()) {
        // Mended: the record's key was changed; it stays in place under its new key.
        ReadKeyedRecord(R);
        Done = true;
      } else if (Holder < 0 || Holder == R || R == P->FUpdatingNewRecordIndex) {
        // The edited record left the data set (or the new-item row's insert was cancelled).
        DeleteRecord(R);
        P->ForgetRecord(R);
        RebuildKeyIndex();
        Done = DSCount == RecordCount();
      } else {
        Done = DSCount == RecordCount();
      }
    } else if (P->FUpdatingRecordIsInserting && DSCount == RecordCount() + 1 && !DS->IsEmpty() &&
               FindRecordIndexByKey(GetKeyFieldsValues()) < 0) {
      // A record inserted on the data set itself, or through the focused new-item row.
      const Integer N = AppendRecord();
      const Integer E = P->EditingRecordIndex();
      if (NewItemRowFocused() && E != vlNoEditingRecordIndex && IsNewItemRecord(E)) CopyRecordValues(E, N);
      ReadKeyedRecord(N);
      Done = true;
    } else {
      // Mended: without a record of its own to read, only the controller's
      // own change (a delete, a cancel) keeps the records; anything else (a
      // refresh showing rows others inserted and deleted) may have replaced
      // rows without changing the count, so everything is read again.
      Done = DSCount == RecordCount() && P->FInOwnChange;
    }
    if (Done) FilterChanged();
  }
  P->ClearPostLocateFlag();
  // Mended: rows added or removed elsewhere (a refresh) are read again.
  if (!Done) {
    LoadFromDataSet();
    return;
  }
  SyncFocusWithDataSet();
}

void TvlDBDataController::SyncFocusWithDataSet() {
  if (FInSync || !DBProvider()->IsSyncMode()) return;
  if (IsPattern()) {
    SyncPatternMasterPos();
    return;
  }
  Integer R = FindCurrentDataSetRecord();
  DBProvider()->SetRecordIndex(R);
  FInSync = true;
  Finally Clear([&] { FInSync = false; });
  if (R >= 0 && FocusedRecordIndex() != R) ChangeFocusedRecordIndex(R);
}
