#include "lib/data/vlDBData.h"

#include <algorithm>
#include <cstdio>

#include "lib/data/vlCustomData.h"
#include "lib/data/vlDataConsts.h"
#include "lib/data/vlDataUtils.h"
#include "lib/data/vlDB.h"
#include "platform/classes/Lists.h"
#include "platform/classes/StringLists.h"
#include "platform/rtl/Strings.h"
#include "platform/rtl/Finally.h"
#include "platform/rtl/Variants.h"

namespace {

[[noreturn]] void DBDataError(const TResStringRec& AMessage) {
  throw EvlInvalidDataControllerOperation(LoadResString(AMessage));
}

// Every provider, so that controllers sharing a data set see each other.
std::vector<TvlDBDataProvider*>& Providers() {
  static std::vector<TvlDBDataProvider*> List;
  return List;
}

Boolean IsEditState(TDataSet* ADataSet) {
  if (!ADataSet) return false;
  TDataSetState S = ADataSet->State();
  return S == dsEdit || S == dsInsert || S == dsSetKey;
}

// The field's value read once (a field without one reads Null).
Variant FieldValue(TField* AField) {
  Variant V = AField->Value();
  if (VarIsEmpty(V)) return Null();
  return V;
}

Variant MakeArray(const std::vector<Variant>& AValues) {
  Variant Result = VarArrayCreate({0, static_cast<Integer>(AValues.size()) - 1}, varVariant);
  for (Integer I = 0; I < static_cast<Integer>(AValues.size()); ++I) VarArrayPut(Result, AValues[I], {I});
  return Result;
}

}  // namespace

CL_IMPLEMENT_CLASS(TvlDBDataModeController)
CL_IMPLEMENT_CLASS(TvlDBDataLink)
CL_IMPLEMENT_CLASS(TvlDBDataProvider)
CL_IMPLEMENT_CLASS(TvlDBDataController)
CL_IMPLEMENT_CLASS(TvlBookmarkList)
CL_IMPLEMENT_CLASS(TvlDBDataAssignedFields)
CL_IMPLEMENT_CLASS(TvlDBDataSelection)

void TvlBookmarkList::CheckIndex(Integer AIndex, Integer AMax) const {
  if (AIndex < 0 || AIndex > AMax) TList::Error(u"List index out of bounds (%d)", AIndex);
}

void TvlBookmarkList::Insert(Integer AIndex, const TBookmark& AItem) {
  CheckIndex(AIndex, Count());
  FItems.insert(FItems.begin() + AIndex, AItem);
}

void TvlBookmarkList::Delete(Integer AIndex) {
  CheckIndex(AIndex, Count() - 1);
  FItems.erase(FItems.begin() + AIndex);
}

const TBookmark& TvlBookmarkList::Items(Integer AIndex) const {
  CheckIndex(AIndex, Count() - 1);
  return FItems[AIndex];
}

// --- Mode settings ----------------------------------------------------------------

void TvlDBDataModeController::Assign(TPersistent* Source) {
  auto* S = dynamic_cast<TvlDBDataModeController*>(Source);
  if (!S) {
    inherited::Assign(Source);
    return;
  }
  SetDetailInSQLMode(S->FDetailInSQLMode);
  FDetailInSyncMode = S->FDetailInSyncMode;
  SetGridMode(S->FGridMode);
  SetGridModeBufferCount(S->FGridModeBufferCount);
  SetSmartRefresh(S->FSmartRefresh);
  SetSyncInsert(S->FSyncInsert);
  SetSyncMode(S->FSyncMode);
  FOnDetailFirst = S->FOnDetailFirst;
  FOnDetailIsCurrentQuery = S->FOnDetailIsCurrentQuery;
}

void TvlDBDataModeController::SetGridMode(Boolean Value) {
  if (FGridMode == Value) return;
  Boolean Was = FDataController->IsGridMode();
  FGridMode = Value;
  if (FDataController->IsGridMode() == Was) return;
  // Bookmarks and window rows mean nothing to the other mode.
  FDataController->ClearSelection();
  FDataController->DataControllerInfo()->ClearSelectionAnchor();
  FDataController->DBProvider()->LayoutChanged();
}

void TvlDBDataModeController::SetGridModeBufferCount(Integer Value) {
  Value = std::max(Value, 0);
  if (FGridModeBufferCount == Value) return;
  FGridModeBufferCount = Value;
  FDataController->UpdateGridModeBufferCount();
}

void TvlDBDataModeController::SetSmartRefresh(Boolean Value) {
  if (FSmartRefresh == Value) return;
  FSmartRefresh = Value;
  if (!FDataController->IsGridMode()) FDataController->DBProvider()->DataScrolled(0);
}

void TvlDBDataModeController::SetSyncMode(Boolean Value) {
  if (FSyncMode == Value) return;
  FSyncMode = Value;
  if (FDataController->DBProvider()->IsActive()) FDataController->DBProvider()->DataScrolled(0);
}

// --- Data link ----------------------------------------------------------------------

void TvlDBDataLink::Create(TvlDBDataProvider* AProvider) {
  inherited::Create();
  FProvider = AProvider;
  SetVisualControl(true);
}

void TvlDBDataLink::ActiveChanged() {
  FProvider->ActiveChanged(Active());
  FProvider->FInSetDataSource = DataSet() && DataSet()->State() == dsInsert;
  if (!Active()) FLayoutChangedFlag = false;
}

void TvlDBDataLink::DataEvent(TDataEvent Event, NativeInt Info) {
  inherited::DataEvent(Event, Info);
  if (Event == deCheckBrowseMode && Info == 1) FProvider->DataSetClosing();
  // A controller's own disabling of the data set's controls (reading,
  // locking, deleting; this view's or another's of the same data set) is no
  // layout change.
  if (Event == deDisabledStateChange && Info == 0 && !FProvider->IsDataSetControlsOwnDisabled())
    FLayoutChangedFlag = true;
}

void TvlDBDataLink::DataSetChanged() {
  if (FProvider->IsLoading()) return;
  if (FLayoutChangedFlag) {
    LayoutChanged();
    return;
  }
  FProvider->DataSetChanged();
}

void TvlDBDataLink::DataSetScrolled(Integer Distance) { FProvider->DataScrolled(Distance); }

void TvlDBDataLink::EditingChanged() { FProvider->EditingChanged(); }

void TvlDBDataLink::LayoutChanged() {
  TDataSet* DS = DataSet();
  if ((DS && DS->State() == dsInsert) || (FProvider->IsSmartRefresh() && FPreventLayoutChanged)) {
    FLayoutChangedFlag = false;
    FProvider->DataSetChanged();
    return;
  }
  FLayoutChangedFlag = false;
  FProvider->LayoutChanged();
}

void TvlDBDataLink::RecordChanged(TField* Field) { FProvider->RecordChanged(Field); }

void TvlDBDataLink::UpdateData() {
  FProvider->WriteEditingData();
  FProvider->RecordChanged(nullptr);
}

void TvlDBDataLink::FocusControl(TField*& Field) {
  if (!Field) return;
  TvlDBDataController* DC = FProvider->DBDataController();
  for (Integer I = 0; I < DC->GetItemCount(); ++I) {
    TvlDBDataField* F = DC->GetDBItemField(I);
    if (!F || F->IsInternal() || F->Field() != Field) continue;
    Boolean Done = false;
    DC->FocusControl(I, Done);
    if (Done) Field = nullptr;
    return;
  }
}

// --- Assigned fields --------------------------------------------------------------------

void TvlDBDataAssignedFields::AddField(TField* AField) {
  if (AField && !IsFieldExists(AField)) FFields.push_back(AField);
}

void TvlDBDataAssignedFields::AddFieldsByFieldList(const std::vector<TField*>& AList) {
  for (TField* F : AList)
    if (F) FFields.push_back(F);
}

void TvlDBDataAssignedFields::AddFieldsByFieldNames(TDataSet* ADataSet, const String& AFieldNames) {
  if (ADataSet) AddFieldsByFieldList(ADataSet->GetFieldList(AFieldNames));
}

Boolean TvlDBDataAssignedFields::IsFieldExists(TField* AField) const {
  return std::find(FFields.begin(), FFields.end(), AField) != FFields.end();
}

// --- Provider -------------------------------------------------------------------------

void TvlDBDataProvider::Create(TvlCustomDataController* ADataController) {
  inherited::Create(ADataController);
  FAssignedFields = New<TvlDBDataAssignedFields>();
  Providers().push_back(this);
  FDataLink = New<TvlDBDataLink>(this);
}

void TvlDBDataProvider::Destroy() {
  for (TvlDBDataProvider* P : Providers())
    P->FListeners.erase(std::remove(P->FListeners.begin(), P->FListeners.end(), this), P->FListeners.end());
  Providers().erase(std::remove(Providers().begin(), Providers().end(), this), Providers().end());
  Free(FDataLink);
  Free(FAssignedFields);
  inherited::Destroy();
}

const std::vector<TvlDBDataProvider*>& TvlDBDataProvider::ProviderList() { return Providers(); }

TvlDBDataController* TvlDBDataProvider::DBDataController() const {
  return static_cast<TvlDBDataController*>(DataController());
}

Boolean TvlDBDataProvider::IsUniDirectional() { return DataSet() && DataSet()->IsUniDirectional(); }

Boolean TvlDBDataProvider::IsGridMode() {
  TvlDBDataController* DC = DBDataController();
  return DC->DataModeController() && DC->DataModeController()->GridMode() && !IsUniDirectional() &&
         !LoadAllNeeded() && !DC->IsPattern();
}

Boolean TvlDBDataProvider::IsActiveDataSet() { return DataSet() && DataSet()->State() != dsInactive; }

Boolean TvlDBDataProvider::IsActive() {
  return DataSet() && DataSet()->Active() && !DataSet()->ControlsDisabled();
}

Boolean TvlDBDataProvider::CanModify() {
  return DataSet() && DataSet()->Active() && DataSet()->CanModify() && IsSyncMode();
}

Boolean TvlDBDataProvider::DeleteAllowed() { return inherited::DeleteAllowed() && CanModify(); }

Boolean TvlDBDataProvider::IsEditing() {
  if (IsReadOnly()) return inherited::IsEditing();
  return IsEditState(DataSet());
}

Boolean TvlDBDataProvider::IsInserting() {
  if (IsReadOnly()) return inherited::IsInserting();
  return DataSet()->State() == dsInsert;
}

Boolean TvlDBDataProvider::IsModified() { return inherited::IsModified() || IsDataSetModified(); }

Boolean TvlDBDataProvider::IsSyncMode() {
  TvlDBDataController* DC = DBDataController();
  if (!DataSet() || !DataSet()->Active() || !(IsGridMode() || DC->DataModeController()->SyncMode()) ||
      IsUniDirectional())
    return false;
  // A detail shares its data set: it follows it when current (SQL mode) or by key.
  if (!DC->IsDetailMode()) return true;
  TvlDBDataModeController* M = DC->DataModeController();
  return M->DetailInSyncMode() &&
         (M->DetailInSQLMode() ? FIsDataSetCurrent : DC->IsKeyNavigation() || IsGridMode());
}

Boolean TvlDBDataProvider::IsSmartRefresh() {
  TvlDBDataController* DC = DBDataController();
  return DC->IsKeyNavigation() && !IsGridMode() && DC->DataModeController()->SmartRefresh();
}

Integer TvlDBDataProvider::GetCurrentRecordIndex() {
  if (!IsInsertingRecord()) return FRecordIndex;
  if (!FInUpdateGridMode) return EditingRecordIndex();
  TvlCustomDataController* DC = DataController();
  return DC->NewItemRowFocused() ? DC->NewItemRecordIndex() : FRecordIndex;
}

Boolean TvlDBDataProvider::IsOtherDataControllerUpdating() {
  for (TvlDBDataProvider* P : Providers()) {
    if (P == this || P->DataSet() != DataSet()) continue;
    if (P->FLoading || (P->IsLocating() && DBDataController()->IsKeyNavigation())) {
      if (std::find(P->FListeners.begin(), P->FListeners.end(), this) == P->FListeners.end())
        P->FListeners.push_back(this);
      return true;
    }
  }
  return false;
}

// --- Shared data sets ------------------------------------------------------------------

Boolean TvlDBDataProvider::IsDataSetBusy() {
  const Boolean CountLocate = DBDataController()->IsKeyNavigation() || IsGridMode();
  for (TvlDBDataProvider* P : Providers()) {
    if (P->DataSet() != DataSet()) continue;
    if (!(P->FLoading || P->LockCount() > 0 || P->FInNotify || (CountLocate && P->IsLocating()))) continue;
    if (FPostLocateFlag) return false;
    if (P->FInNotify) return true;
    // The controller's own grid-mode notify lock lets the changes through.
    if (IsGridMode()) return DataController()->LockGridModeNotifyCount() == 0;
    return true;
  }
  return false;
}

Boolean TvlDBDataProvider::IsCanInitEditingBusy() {
  for (TvlDBDataProvider* P : Providers())
    if (P->DataSet() == DataSet() && P->FInCanInitEditing) return true;
  return false;
}

Boolean TvlDBDataProvider::IsOtherDetailDataSetInInsert() {
  for (TvlDBDataProvider* P : Providers())
    if (P != this && P->DataSet() == DataSet() && P->IsInsertingRecord()) return true;
  return false;
}

Boolean TvlDBDataProvider::CanSyncInsert() {
  TvlDBDataController* DC = DBDataController();
  return !DC->IsPattern() && DC->DataModeController()->SyncInsert() && IsSyncMode();
}

Boolean TvlDBDataProvider::IsDataSetCurrent() {
  TvlDBDataController* DC = DBDataController();
  if (!DC->IsDetailMode() || DC->DataModeController()->DetailInSQLMode() || !IsSyncMode()) return FIsDataSetCurrent;
  if (FInCanInitEditing) return true;
  for (TvlDBDataProvider* P : Providers())
    if (P != this && P->DataSet() == DataSet() && P->FInCanInitEditing) return false;
  if (!IsInsertingRecord() && ((DC->FocusedRowIndex() < 0 && !FIsDataSetCurrent) || IsOtherDetailDataSetInInsert()))
    return false;
  return true;
}

void TvlDBDataProvider::MarkPostLocate() {
  for (TvlDBDataProvider* P : Providers())
    if (P->DataSet() == DataSet() && !P->DataController()->IsPattern()) P->FPostLocateFlag = true;
}

void TvlDBDataProvider::BeginLocate() {
  if (IsEditState(DataSet())) MarkPostLocate();
  EnterLocating();
}

void TvlDBDataProvider::SetDataSource(TDataSource* Value) {
  if (FDataLink->DataSource() == Value) return;
  FDataLink->SetDataSource(Value);
}

void TvlDBDataProvider::DisableDataSetControls() {
  ++FOwnDisableCount;
  DataSet()->DisableControls();
}

void TvlDBDataProvider::EnableDataSetControls() {
  Finally Done([&] { --FOwnDisableCount; });
  DataSet()->EnableControls();
}

Boolean TvlDBDataProvider::IsDataSetControlsOwnDisabled() {
  for (TvlDBDataProvider* P : Providers())
    if (P->DataSet() == DataSet() && (P->FLoading || P->FOwnDisableCount > 0 || P->LockCount() > 0)) return true;
  return false;
}

void TvlDBDataProvider::LockDataSet() {
  LockDataChanges();
  TDataSet* DS = DataSet();
  if (!DS) return;
  DisableDataSetControls();
  if (DS->Active() && IsEditState(DS)) {
    MarkPostLocate();
    DS->Cancel();
  }
}

void TvlDBDataProvider::UnlockDataSet() {
  if (DataSet()) EnableDataSetControls();
  UnlockDataChanges();
}

void TvlDBDataProvider::ClearUpdatingBookkeeping() {
  FUpdatingRecordIndex = vlNoEditingRecordIndex;
  FUpdatingRecordIsInserting = false;
  FUpdatingNewRecordIndex = -1;
}

void TvlDBDataProvider::ForgetRecord(Integer ARecordIndex) {
  if (ARecordIndex == FUpdatingRecordIndex)
    ClearUpdatingBookkeeping();
  else if (FUpdatingRecordIndex != vlNoEditingRecordIndex && FUpdatingRecordIndex > ARecordIndex)
    --FUpdatingRecordIndex;
  if (ARecordIndex == FUpdatingNewRecordIndex)
    FUpdatingNewRecordIndex = -1;
  else if (FUpdatingNewRecordIndex > ARecordIndex)
    --FUpdatingNewRecordIndex;
  if (ARecordIndex == FUpdatingPrevFocusedRecordIndex)
    FUpdatingPrevFocusedRecordIndex = -1;
  else if (FUpdatingPrevFocusedRecordIndex > ARecordIndex)
    --FUpdatingPrevFocusedRecordIndex;
}

void TvlDBDataProvider::Scroll(Integer ADistance) {
  if (!IsGridMode() || ADistance == 0 || !IsActive()) return;
  if (ADistance < 0)
    DataSet()->MoveBy(ADistance - FDataLink->ActiveRecord());
  else
    DataSet()->MoveBy(ADistance + FDataLink->RecordCount() - FDataLink->ActiveRecord() - 1);
  DataController()->RefreshPrevSelectionInfo();
  DataController()->SyncSelected(true);
}

Boolean TvlDBDataProvider::HasFieldStructure() {
  TDataSet* DS = DataSet();
  return DS && DS->FieldCount() > 0 && (DS->Active() || !DS->DefaultFields());
}

Boolean TvlDBDataProvider::IsBOF() {
  if (!DataSet()) return inherited::IsBOF();
  return DataSet()->Bof() || !FDataLink->Active();
}

Boolean TvlDBDataProvider::IsEOF() {
  TDataSet* DS = DataSet();
  if (!DS) return true;
  if (!DBDataController()->IsDetailMode() || IsGridMode()) return DS->Eof() || !FDataLink->Active();
  return IsDetailEOF();
}

void TvlDBDataProvider::Prev() {
  if (DataSet()) DataSet()->Prior();
}

void TvlDBDataProvider::Next() {
  if (DataSet()) DataSet()->Next();
}

void TvlDBDataProvider::Last() {
  if (DataSet() && DataSet()->Active()) DataSet()->Last();
}

void TvlDBDataProvider::MoveBy(Integer ADistance) {
  if (DataSet()) DataSet()->MoveBy(ADistance);
}

void TvlDBDataProvider::SavePos() {
  TDataSet* DS = DataSet();
  FSavePosInfo = {};
  if (!DS || !DS->Active()) return;
  if (DS->BookmarkAvailable()) FSavePosInfo.Bookmark = DS->Bookmark();
  FSavePosInfo.ActiveRecord = DS->ActiveRecord();
  FSavePosInfo.Bof = DS->Bof();
  FSavePosInfo.Eof = DS->Eof();
}

void TvlDBDataProvider::RestorePos() {
  TDataSet* DS = DataSet();
  if (!DS || FSavePosInfo.Bookmark.empty() || !DS->BookmarkValid(FSavePosInfo.Bookmark)) return;
  try {
    DS->GotoBookmark(FSavePosInfo.Bookmark);
    const Integer Saved = FSavePosInfo.ActiveRecord;
    if (DS->ActiveRecord() > Saved) {
      Integer N = DS->BufferCount() - Saved - 1;
      DS->MoveBy(N);
      DS->MoveBy(-N);
    } else if (DS->ActiveRecord() < Saved) {
      DS->MoveBy(-Saved);
      DS->MoveBy(Saved);
    }
    if (FSavePosInfo.Bof && !DS->Bof()) DS->Prior();
    if (FSavePosInfo.Eof && !DS->Eof()) DS->Next();
  } catch (EDatabaseError&) {
  }
}

void TvlDBDataProvider::LoadGridModeBuffer() {
  TvlDBDataController* DC = DBDataController();
  FDataLink->SetBufferCount(DC->GridModeWindowSize());
  const Integer N = FDataLink->RecordCount();
  // The controller keeps no record count of its own in grid mode: the storage is sized directly.
  DC->DataStorage()->SetRecordCount(N);
  DC->DataChanged(dcTotal, -1, -1);
  FRecordIndex = FDataLink->ActiveRecord();
}

template <class T, class F>
static T ReadWindowRecord(TvlDBDataProvider* P, Integer ARecordIndex, TvlCustomDataField* AField, F ARead) {
  TField* Field = P->DBDataController()->GetDBFieldOf(AField);
  TvlDBDataLink* Link = P->DataLink();
  if (!Field) return T();
  if (ARecordIndex < 0 || ARecordIndex >= Link->RecordCount())
    // While inserting or searching the data set: the current record.
    return P->IsInsertingRecord() || P->IsIncrementalSearching() ? ARead(Field) : T();
  const Integer Active = Link->ActiveRecord();
  Finally Back([&] { Link->SetActiveRecord(Active); });
  Link->SetActiveRecord(ARecordIndex);
  return ARead(Field);
}

Variant TvlDBDataProvider::GetExternalValue(Integer ARecordIndex, TvlCustomDataField* AField) {
  return ReadWindowRecord<Variant>(this, ARecordIndex, AField, [](TField* F) { return FieldValue(F); });
}

String TvlDBDataProvider::GetExternalDisplayText(Integer ARecordIndex, TvlCustomDataField* AField) {
  return ReadWindowRecord<String>(this, ARecordIndex, AField, [](TField* F) { return F->DisplayText(); });
}

void TvlDBDataProvider::ActiveChanged(Boolean AActive) {
  TvlCustomDataController* DC = DataController();
  ResetEditing();
  ClearUpdatingBookkeeping();
  DBDataController()->ResetMasterDetailKeyFields();
  if (AActive) {
    DBDataController()->BindFieldTypes();
    DC->RebuildData();
    DBDataController()->LoadFromDataSet();
  } else {
    DC->BeginFullUpdate();
    Finally End([&] { DC->EndFullUpdate(); });
    // Grid mode keeps no record count of its own: the window's rows, the
    // selected bookmarks and the bookmark go with the data set.
    if (IsGridMode()) {
      DC->ClearSelection();
      DC->DataControllerInfo()->ClearSelectionAnchor();
      DC->ClearBookmark();
      DC->DataStorage()->SetRecordCount(0);
      DC->DataChanged(dcTotal, -1, -1);
    }
    DC->SetRecordCount(0);
    DBDataController()->RebuildKeyIndex();
    FRecordIndex = -1;
  }
}

void TvlDBDataProvider::DataScrolled(Integer ADistance) {
  TvlDBDataController* DC = DBDataController();
  if (IsGridMode()) {
    if (ADistance != 0 && !FLoading) {
      DC->BeginFullUpdate();
      Finally End([&] { DC->EndFullUpdate(); });
      LoadGridModeBuffer();
      DC->GridModeBufferScrolled();
    }
    FRecordIndex = FDataLink->ActiveRecord();
  } else if (FRecordIndex >= 0) {
    FRecordIndex += ADistance;
  }
  if (!IsLocating() && !FLoading) DC->SyncFocusWithDataSet();
}

namespace {

// Marks the data set's changes inside a scope as the provider's own.
struct OwnChange {
  Boolean& Flag;
  Boolean Was;
  explicit OwnChange(Boolean& AFlag) : Flag(AFlag), Was(AFlag) { Flag = true; }
  ~OwnChange() { Flag = Was; }
};

}  // namespace

// --- Editing on the data set --------------------------------------------------------------

Boolean TvlDBDataProvider::IsDataSetModified() {
  TDataSet* DS = DataSet();
  if (!DS) return false;
  Boolean M = DS->Modified();
  if (M && !FAssignedFields->IsEmpty()) {
    // Only values the controller gave the new record itself: not modified.
    M = false;
    for (Integer I = 0; I < DS->FieldCount() && !M; ++I) {
      TField* F = DS->Fields()->Fields(I);
      M = !FAssignedFields->IsFieldExists(F) && !F->IsNull();
    }
  }
  return M;
}

Boolean TvlDBDataProvider::BookmarkValid(const TBookmark& ABookmark) {
  return DataSet() && DataSet()->BookmarkValid(ABookmark);
}

Integer TvlDBDataProvider::CompareBookmarks(const TBookmark& ABookmark1, const TBookmark& ABookmark2) {
  if (!FDataLink->Active()) return -1;
  return DataSet()->CompareBookmarks(ABookmark1, ABookmark2);
}

void TvlDBDataProvider::CancelDataSet() {
  TDataSet* DS = DataSet();
  if (!DS) return;
  TvlDBDataController* DC = DBDataController();
  // A detail's cancelled insert would leave the shared data set past the
  // detail's rows (its master would follow it there): the data set goes
  // back to the detail's last other record, found by key.
  if (DS->State() == dsInsert && DC->IsDetailMode() && DC->IsKeyNavigation() &&
      !DC->DataModeController()->DetailInSQLMode()) {
    Variant Key;
    for (Integer Row = DC->GetRowCount() - 1; Row >= 0 && VarIsEmpty(Key); --Row) {
      const Integer R = DC->GetRowInfo(Row).RecordIndex;
      if (R >= 0 && R != EditingRecordIndex() && !VarIsNull(DC->GetRecordId(R))) Key = DC->GetRecordId(R);
    }
    if (!VarIsEmpty(Key)) {
      {
        DisableDataSetControls();
        Finally Enable([&] { EnableDataSetControls(); });
        DS->Cancel();
        BeginLocate();
        Finally Leave([&] { EndLocate(); });
        DS->Locate(DC->KeyFieldNames(), Key, TLocateOptions());
      }
      return;
    }
  }
  DS->Cancel();
}

void TvlDBDataProvider::RecordChanged(TField*) {
  TvlDBDataController* DC = DBDataController();
  const Boolean NotOurs =
      DC->IsDetailMode() && DC->DataModeController()->DetailInSyncMode() && !IsDataSetCurrent();
  if (!NotOurs && HasEditingRecord()) DC->UpdateEditingRecord();
  EndChange();
}

void TvlDBDataProvider::AssignValue(TField* AField, const Variant& AValue) {
  if (!AField) return;
  if (AField->Lookup()) {
    // A lookup is given by its key fields.
    TList* Keys = New<TList>();
    Finally F([&] { Free(Keys); });
    if (!vlFindFields(DataSet(), AField->KeyFields(), Keys) || Keys->Count() == 0) return;
    vlSetFieldsValue(DataSet(), Keys, AValue);
    for (Integer I = 0; I < Keys->Count(); ++I) FAssignedFields->AddField(static_cast<TField*>(Keys->Items(I)));
    return;
  }
  AField->SetValue(AValue);
  FAssignedFields->AddField(AField);
}

template <class F>
void TvlDBDataProvider::InsertBracket(F AOperation) {
  TDataSet* DS = DataSet();
  TvlDBDataController* DC = DBDataController();
  FInInsert = true;
  Finally Clear([&] { FInInsert = false; });
  if (IsEditState(DS)) {
    if (!IsSmartRefresh()) {
      if (DS->State() == dsInsert) DC->CheckBrowseMode();
      if (IsEditState(DS)) FDataLink->UpdateRecord();
    } else {
      // The pending record is posted and read into its stored record before the new one begins.
      DisableDataSetControls();
      Finally Enable([&] { EnableDataSetControls(); });
      DS->CheckBrowseMode();
      // The edit is over: the refresh's own focusing must not cancel it
      // (which would put the saved copy back over the posted values).
      if (!IsEditState(DS)) ResetEditing();
      DC->SmartRefreshRecord();
      ClearUpdatingBookkeeping();
      ResetEditing();
    }
  }
  AOperation();
}

void TvlDBDataProvider::Append() {
  if (!CanModify()) {
    inherited::Append();
    return;
  }
  InsertBracket([&] { DataSet()->Append(); });
}

void TvlDBDataProvider::Insert() {
  if (!CanModify()) {
    inherited::Insert();
    return;
  }
  FInsertOperation = true;
  Finally Clear([&] { FInsertOperation = false; });
  InsertBracket([&] { DataSet()->Insert(); });
}

Boolean TvlDBDataProvider::IsInsertingDetail() {
  if (!DBDataController()->IsDetailMode() || FInInsert) return true;
  // The detail whose Append or Insert runs takes the new record, current or not.
  for (TvlDBDataProvider* P : ProviderList())
    if (P != this && P->DataSet() == DataSet() && P->FInInsert) return false;
  return IsDataSetCurrent();
}

void TvlDBDataProvider::AssignGroupingValues(Integer ARecordIndex, const std::vector<Variant>& AValues) {
  FInsertGroupValues = AValues;
  inherited::AssignGroupingValues(ARecordIndex, AValues);
}

void TvlDBDataProvider::StartInsertFromDataSet() {
  if (FInInserting) return;
  FInInserting = true;
  Finally Clear([&] { FInInserting = false; });
  TvlDBDataController* DC = DBDataController();
  TDataSet* DS = DataSet();
  FAssignedFields->Clear();
  FInsertGroupValues.clear();
  const Boolean AsAppend = DS->Eof() && !FInsertOperation;
  DoInsert(AsAppend);
  // A record inserted before others moves their indexes.
  if (!AsAppend) DC->RebuildKeyIndex();
  std::vector<Variant> GroupValues;
  GroupValues.swap(FInsertGroupValues);
  if (EditingRecordIndex() >= 0 && DC->Options().Contains(dcoAssignGroupingValues)) {
    // The group values the new record took (keys of lookups) go to the data set too.
    TvlGroupingFieldList* G = DC->DataControllerInfo()->GroupingFieldList();
    for (Integer L = 0; L < G->Count() && L < static_cast<Integer>(GroupValues.size()); ++L)
      if (!VarIsNull(GroupValues[L])) AssignValue(DC->GetDBFieldOf(G->Items(L).Field), GroupValues[L]);
  }
  DC->AssignMasterDetailKeys();
  DC->DoInitInsertingRecord(GroupValues);
  DC->UpdateEditingRecord();
}

Boolean TvlDBDataProvider::CanInitEditing(Integer ARecordIndex) {
  if (!CanModify()) return inherited::CanInitEditing(ARecordIndex);
  FInCanInitEditing = true;
  Finally Clear([&] { FInCanInitEditing = false; });
  TvlDBDataController* DC = DBDataController();
  const Boolean OnNewItemRow = DC->UseNewItemRowForEditing() && DC->NewItemRowFocused();
  // Typing into the new-item row begins an insert on the data set.
  if (OnNewItemRow && !IsInsertingRecord())
    Insert();
  else if (!FDataLink->Edit())
    return false;
  BeginChange();
  if (OnNewItemRow) DC->Change(dccUpdateRecord);
  return true;
}

void TvlDBDataProvider::Edit() {
  if (!CanModify()) {
    inherited::Edit();
    return;
  }
  DataSet()->Edit();
}

void TvlDBDataProvider::Post(Boolean AForcePost) {
  if (!CanModify()) {
    inherited::Post(AForcePost);
    return;
  }
  TvlCustomDataController* DC = DataController();
  const Boolean Bracket = !IsSmartRefresh();
  if (Bracket) DC->BeginFullUpdate();
  Finally End([&] {
    if (Bracket) DC->EndFullUpdate();
  });
  if (AForcePost)
    DataSet()->Post();
  else
    DataSet()->CheckBrowseMode();
}

void TvlDBDataProvider::PostEditingData() {
  if (FDataLink->Active())
    FDataLink->UpdateRecord();
  else
    inherited::PostEditingData();
}

void TvlDBDataProvider::Cancel() {
  if (!CanModify()) {
    inherited::Cancel();
    return;
  }
  if (IsSmartRefresh() && HasEditingRecord()) {
    // The stored copy comes back first (an inserted stored record goes).
    TvlDBDataController* DC = DBDataController();
    DC->BeginUnboundCopy();
    {
      Finally Done([&] { DC->EndUnboundCopy(); });
      inherited::Cancel();
    }
    ClearUpdatingBookkeeping();
    DC->RebuildKeyIndex();
  }
  OwnChange Own(FInOwnChange);
  CancelDataSet();
}

Boolean TvlDBDataProvider::SetEditValue(Integer ARecordIndex, TvlCustomDataField* AField, const Variant& AValue,
                                        TvlDataEditValueSource AEditValueSource) {
  TField* F = DBDataController()->GetDBFieldOf(AField);
  if (!CanModify() || !F) return inherited::SetEditValue(ARecordIndex, AField, AValue, AEditValueSource);
  if (!IsEditState(DataSet())) DataSet()->Edit();
  if (AEditValueSource == evsText)
    F->SetAsString(VarToStr(AValue));
  else
    F->SetValue(AValue);
  return true;
}

// --- Deleting on the data set ---------------------------------------------------------------

void TvlDBDataProvider::DataSetClosing() {
  TDataSet* DS = DataSet();
  // A value typed into the edit is posted, not dropped by the close; a
  // failed post raises out of the close, which then does not happen.
  if (DS && IsEditState(DS) && CanModify()) DBDataController()->CheckBrowseMode();
}

void TvlDBDataProvider::ResetNearestRecord() {
  TvlDBDataController* DC = DBDataController();
  const Integer Nearest = DC->NearestRecordIndex;
  Finally Reset([&] { inherited::ResetNearestRecord(); });
  if (Nearest != -1 && Nearest < DC->RecordCount()) DC->ChangeFocusedRecordIndex(Nearest);
}

void TvlDBDataProvider::Delete() {
  TDataSet* DS = DataSet();
  TvlDBDataController* DC = DBDataController();
  if (!CanModify()) {
    inherited::Delete();
    return;
  }
  const Integer Focused = DC->FocusedRecordIndex();
  if (!DS || Focused < 0) return;
  const Boolean Smart = IsSmartRefresh();
  if (Smart) FUpdatingPrevFocusedRecordIndex = Focused;
  // The controller lowered the nearest record's index for a storage without
  // the deleted record; without smart refresh the stored record stays.
  Integer Nearest = DC->NearestRecordIndex;
  if (!Smart && Nearest >= Focused) ++Nearest;
  {
    OwnChange Own(FInOwnChange);
    DisableDataSetControls();
    FDataLink->SetPreventLayoutChanged(true);
    Finally Enable([&] {
      FDataLink->SetPreventLayoutChanged(false);
      EnableDataSetControls();
    });
    DS->Delete();
    if (Smart) {
      // The remembered record goes from the storage with the data set's, so
      // that the change the data set reports finds both alike.
      const Integer R = FUpdatingPrevFocusedRecordIndex;
      if (R >= 0 && R < DC->RecordCount()) {
        DC->DeleteRecord(R);
        ForgetRecord(R);
        DC->RebuildKeyIndex();
      }
    }
    if (Nearest >= 0 && Nearest < DC->RecordCount() && DC->IsKeyNavigation() && !DS->IsEmpty())
      DC->LocateDataSetRecord(Nearest);
  }
  if (Smart) DC->SyncFocusWithDataSet();
  FUpdatingPrevFocusedRecordIndex = -1;
}

void TvlDBDataProvider::DeleteRecords(const std::vector<Integer>& AList) {
  TDataSet* DS = DataSet();
  TvlDBDataController* DC = DBDataController();
  if (!CanModify()) {
    inherited::DeleteRecords(AList);
    return;
  }
  if (AList.empty()) return;
  const Boolean Smart = IsSmartRefresh();
  const Boolean DeletingSelection = DC->InDeleteSelection();
  {
    OwnChange Own(FInOwnChange);
    DisableDataSetControls();
    FDataLink->SetPreventLayoutChanged(true);
    Finally Enable([&] {
      FDataLink->SetPreventLayoutChanged(false);
      EnableDataSetControls();
    });
    if (Smart) DC->BeginFullUpdate();
    Finally End([&] {
      if (Smart) DC->EndFullUpdate();
    });
    if (DC->IsKeyNavigation()) {
      std::vector<Variant> Keys;
      Keys.reserve(AList.size());
      for (Integer R : AList) Keys.push_back(DC->GetRecordId(R));
      for (Integer I = static_cast<Integer>(Keys.size()) - 1; I >= 0; --I) {
        Boolean Found;
        {
          BeginLocate();
          Finally Leave([&] { EndLocate(); });
          Found = DS->Locate(DC->KeyFieldNames(), Keys[I], TLocateOptions());
        }
        if (!Found) continue;
        if (!Smart) {
          DS->Delete();
          continue;
        }
        const Integer R = DC->FindRecordIndexByKey(Keys[I]);
        if (R < 0) continue;
        DS->Delete();
        DC->DeleteRecord(R);
        ForgetRecord(R);
      }
      if (Smart) DC->RebuildKeyIndex();
    } else {
      if (!DC->CanFocusRecord(AList.back())) return;
      // The data set stands on the last listed record; each earlier one is
      // reached by the difference of record indexes (one more when the record
      // deleted before was the last: the data set then stands on the one before it).
      Integer Prev = -1;
      Boolean PrevWasLast = false;
      for (Integer I = static_cast<Integer>(AList.size()) - 1; I >= 0; --I) {
        if (Prev >= 0) DS->MoveBy(AList[I] - Prev + (PrevWasLast ? 1 : 0));
        PrevWasLast = AList[I] == DS->RecordCount() - 1;
        DS->Delete();
        Prev = AList[I];
      }
    }
  }
  if (Smart) DC->SyncFocusWithDataSet();
  if ((DeletingSelection && Smart) || !DC->IsKeyNavigation()) DC->ClearSelection();
}

void TvlDBDataProvider::DeleteSelection() {
  TDataSet* DS = DataSet();
  TvlDBDataController* DC = DBDataController();
  if (!IsGridMode() || !CanModify()) {
    inherited::DeleteSelection();
    return;
  }
  TvlDBDataSelection* S = DC->DBSelection();
  DisableDataSetControls();
  Finally Enable([&] { EnableDataSetControls(); });
  for (Integer I = S->Bookmarks()->Count() - 1; I >= 0; --I) {
    const TBookmark B = S->Bookmarks()->Items(I);
    if (DS->BookmarkValid(B)) {
      DS->GotoBookmark(B);
      DS->Delete();
    }
    S->Delete(I);
  }
}

// --- Incremental search in grid mode --------------------------------------------------------

Boolean TvlDBDataProvider::SearchInGridMode(const String& AText, Boolean AForward, Boolean ANext) {
  TDataSet* DS = DataSet();
  TvlDBDataController* DC = DBDataController();
  if (!DS || !DS->Active() || DS->IsEmpty() || IsEditState(DS)) return false;
  const Integer Item = DC->Search()->ItemIndex();
  TField* Field = Item < 0 ? nullptr : DC->GetItemDBField(Item);
  if (!Field) return false;
  auto Matches = [&] {
    FIncrementalSearching = true;
    Finally Clear([&] { FIncrementalSearching = false; });
    return vlMatchSearchText(Field->DisplayText(), AText, true);
  };
  if (!ANext && Matches()) {
    DC->SyncFocusWithDataSet();
    return true;
  }
  Boolean Found = false;
  {
    LockDataSet();
    SavePos();
    Finally Back([&] {
      if (!Found) RestorePos();
      UnlockDataSet();
    });
    const TBookmark Start = DS->Bookmark();
    Boolean Wrapped = false;
    while (!Found) {
      if (AForward)
        DS->Next();
      else
        DS->Prior();
      if (AForward ? DS->Eof() : DS->Bof()) {
        // With ANext the walk ends at the data set's end; without, it wraps once.
        if (ANext || Wrapped) break;
        if (AForward)
          DS->First();
        else
          DS->Last();
        Wrapped = true;
      }
      if (Wrapped && DS->CompareBookmarks(DS->Bookmark(), Start) == 0) break;
      Found = Matches();
    }
  }
  if (Found) {
    DC->RefreshPrevSelectionInfo();
    DC->Change(dccLayout);
  }
  return Found;
}

void TvlDBDataProvider::LayoutChanged() {
  if (!DataSet() || !DataSet()->Active()) return;
  TvlDBDataController* DC = DBDataController();
  if (FLoading || IsDetailDataSetBusy()) {
    DC->BindFieldTypes();
    return;
  }
  // Selection, expanded details and the bookmark survive the rebuild by key.
  DC->SaveKeys();
  const Variant Bookmark = DC->BookmarkKey();
  Finally Restore([&] { DC->RestoreKeys(); });
  DC->RebuildData();
  DC->BindFieldTypes();
  DC->LoadFromDataSet();
  DC->RestoreBookmarkKey(Bookmark);
}

void TvlDBDataProvider::EditingChanged() {
  Finally Done([&] { FInSetDataSource = false; });
  if (!IsSyncMode()) return;
  TDataSet* DS = DataSet();
  TvlDBDataController* DC = DBDataController();
  if (FDataLink->Active() && IsEditState(DS)) {
    if (DS->State() == dsEdit) {
      if (!HasEditingRecord() && FRecordIndex >= 0 && FRecordIndex < DC->RecordCount()) {
        FUpdatingRecordIndex = FRecordIndex;
        FUpdatingRecordIsInserting = false;
        DC->BeginUnboundCopy();
        Finally Done([&] { DC->EndUnboundCopy(); });
        DoEdit();
      }
    } else if (DS->State() == dsInsert) {
      FUpdatingRecordIndex = vlNoEditingRecordIndex;
      FUpdatingRecordIsInserting = true;
      // A grid-mode view attached (or its window resized) while the data set
      // inserts takes that insert as its own.
      if (!DS->ControlsDisabled() && (FInSetDataSource || DC->FInUpdateGridModeBufferCount) && IsGridMode() &&
          !FInInsert && !IsInsertingRecord())
        StartInsertFromDataSet();
    }
  } else {
    // Ending the edit drops the new-item record: a posted insert keeps its
    // values in a stored record, which smart refresh then completes.
    const Integer Edited = EditingRecordIndex();
    if (IsSmartRefresh() && FUpdatingRecordIsInserting && Edited != vlNoEditingRecordIndex &&
        DC->IsNewItemRecord(Edited)) {
      DC->BeginUnboundCopy();
      Finally Done([&] { DC->EndUnboundCopy(); });
      FUpdatingNewRecordIndex = DC->AppendRecord();
      DC->CopyRecordValues(Edited, FUpdatingNewRecordIndex);
    }
    ResetEditing();
  }
}

void TvlDBDataProvider::DataSetChanged() {
  TDataSet* DS = DataSet();
  TvlDBDataController* DC = DBDataController();
  if (!DS || !DS->Active() || FLoading) return;
  if (IsOtherDataControllerUpdating() || IsOtherDetailChanged()) return;
  if (IsDataSetBusy()) {
    DataScrolled(0);
    return;
  }
  FInNotify = true;
  Finally Clear([&] { FInNotify = false; });
  if (IsGridMode()) {
    {
      FInUpdateGridMode = true;
      Finally Clear([&] { FInUpdateGridMode = false; });
      DC->BeginFullUpdate();
      Finally End([&] { DC->EndFullUpdate(); });
      LoadGridModeBuffer();
      if (DC->FInUpdateGridModeBufferCount && IsEditState(DS) && !FDataLink->ReadOnly()) EditingChanged();
      // Selected records and the bookmark that left the data set are dropped.
      if (DC->MultiSelect()) DC->DBSelection()->CheckBookmarks();
      if (DC->IsBookmarkAvailable() && DC->IsBookmarkInvalid()) DC->ClearBookmark();
      // A record the data set began inserting becomes the controller's insert.
      if (DS->State() == dsInsert && !IsInsertingRecord()) StartInsertFromDataSet();
    }
    DC->SyncFocusWithDataSet();
    return;
  }
  if (!IsEditState(DS)) {
    if (IsSmartRefresh())
      DC->SmartRefreshRecord();
    else
      DC->LoadFromDataSet();
    ClearUpdatingBookkeeping();
    return;
  }
  if (DS->State() == dsInsert && !IsInsertingRecord() && CanSyncInsert() && IsInsertingDetail())
    StartInsertFromDataSet();
}

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
  if (IsKeyNavigation()) {
    Variant Key = GetRecordId(ARecordIndex);
    if (KeyText(Key) == KeyText(GetKeyFieldsValues()) && P->RecordIndex() == ARecordIndex) {
      CheckBrowseMode();
      return true;
    }
    CheckBrowseMode();
    P->EnterLocating();
    Finally Leave([&] { P->LeaveLocating(); });
    Boolean Found = DS->Locate(FKeyFieldNames, Key, TLocateOptions());
    if (Found) P->SetRecordIndex(ARecordIndex);
    return Found;
  }
  CheckBrowseMode();
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

// --- Grid-mode selection ----------------------------------------------------------------

void TvlDBDataSelection::Create(TvlCustomDataController* ADataController) {
  inherited::Create(ADataController);
  FController = static_cast<TvlDBDataController*>(ADataController);
  FBookmarks = New<TvlBookmarkList>();
}

void TvlDBDataSelection::Destroy() {
  Free(FBookmarks);
  FBookmarks = nullptr;
  inherited::Destroy();
}

Boolean TvlDBDataSelection::InGridMode() const { return FController->IsGridMode(); }

TBookmark TvlDBDataSelection::GetRowBookmark(Integer ARowIndex) const {
  if (!InGridMode() || ARowIndex < 0 || ARowIndex >= FController->GetRowCount()) return TBookmark();
  TvlDBDataLink* Link = FController->DBProvider()->DataLink();
  const Integer Record = FController->GetRowInfo(ARowIndex).RecordIndex;
  if (Record < 0 || Record >= Link->RecordCount()) return TBookmark();
  const Integer Active = Link->ActiveRecord();
  Finally Back([&] { Link->SetActiveRecord(Active); });
  Link->SetActiveRecord(Record);
  return FController->DataSet()->Bookmark();
}

Boolean TvlDBDataSelection::FindBookmark(const TBookmark& ABookmark, Integer& AIndex) const {
  TDataSet* DS = FController->DataSet();
  Integer Lo = 0, Hi = FBookmarks->Count();
  while (Lo < Hi) {
    const Integer Mid = Lo + (Hi - Lo) / 2;
    if (DS->CompareBookmarks(FBookmarks->Items(Mid), ABookmark) < 0)
      Lo = Mid + 1;
    else
      Hi = Mid;
  }
  AIndex = Lo;
  return Lo < FBookmarks->Count() && DS->CompareBookmarks(FBookmarks->Items(Lo), ABookmark) == 0;
}

Boolean TvlDBDataSelection::FindByRowIndex(Integer ARowIndex, Integer& AIndex) const {
  if (!InGridMode()) return inherited::FindByRowIndex(ARowIndex, AIndex);
  const TBookmark B = GetRowBookmark(ARowIndex);
  if (B.empty()) {
    AIndex = FBookmarks->Count();
    return false;
  }
  return FindBookmark(B, AIndex);
}

void TvlDBDataSelection::Add(Integer AIndex, Integer ARowIndex, Integer ALevel, Integer ARecordIndex) {
  if (InGridMode() && !FInSelectAll)
    FBookmarks->Insert(AIndex < 0 ? FBookmarks->Count() : std::min(AIndex, FBookmarks->Count()),
                       GetRowBookmark(ARowIndex));
  inherited::Add(AIndex, ARowIndex, ALevel, ARecordIndex);
}

void TvlDBDataSelection::Clear() {
  FBookmarks->Clear();
  inherited::Clear();
}

void TvlDBDataSelection::ClearAnchor() {
  FAnchorBookmark.clear();
  inherited::ClearAnchor();
}

void TvlDBDataSelection::Delete(Integer AIndex) {
  if (InGridMode() && !FInSelectAll && AIndex < FBookmarks->Count()) {
    if (FBookmarks->Items(AIndex) == FAnchorBookmark) ClearAnchor();
    FBookmarks->Delete(AIndex);
  }
  inherited::Delete(AIndex);
}

void TvlDBDataSelection::SyncCount() {
  // The base's entries stand for the bookmarks one to one.
  ResizeEntries(FBookmarks->Count());
}

Boolean TvlDBDataSelection::CheckBookmarks() {
  TDataSet* DS = FController->DataSet();
  if (!DS || !InGridMode()) return false;
  Boolean Changed = false;
  if (!FAnchorBookmark.empty() && !DS->BookmarkValid(FAnchorBookmark)) {
    ClearAnchor();
    Changed = true;
  }
  for (Integer I = FBookmarks->Count() - 1; I >= 0; --I)
    if (FBookmarks->Items(I).empty() || !DS->BookmarkValid(FBookmarks->Items(I))) {
      if (I < Count())
        Delete(I);
      else
        FBookmarks->Delete(I);
      Changed = true;
    }
  return Changed;
}

Boolean TvlDBDataSelection::MaySelect() { return true; }

// Runs AWork over the data set with its events locked and its position kept;
// on an exception the bookmarks are dropped. The change is reported after.
template <class F>
static void WalkDataSet(TvlDBDataSelection* S, TvlDBDataController* DC, Boolean& AInSelectAll, F AWork) {
  TvlDBDataProvider* P = DC->DBProvider();
  // Locking would cancel a pending edit: it is posted first (a failed post
  // raises and nothing is selected).
  if (IsEditState(DC->DataSet())) DC->CheckBrowseMode();
  P->LockDataSet();
  P->SavePos();
  AInSelectAll = true;
  Finally Back([&] {
    AInSelectAll = false;
    P->RestorePos();
    P->UnlockDataSet();
    S->Changed();
    DC->DataControllerInfo()->CheckChanges();
  });
  Boolean Done = false;
  Finally Sync([&] {
    if (!Done) S->Bookmarks()->Clear();
    S->SyncCount();
  });
  AWork();
  Done = true;
}

void TvlDBDataSelection::SelectAll() {
  TDataSet* DS = FController->DataSet();
  if (!DS || !DS->Active()) return;
  WalkDataSet(this, FController, FInSelectAll, [&] {
    DS->First();
    inherited::Clear();
    FBookmarks->Clear();
    while (!DS->Eof()) {
      if (MaySelect()) FBookmarks->Add(DS->Bookmark());
      DS->Next();
    }
  });
}

Boolean TvlDBDataSelection::QuickAdjust(const TBookmark& S, const TBookmark& E, Boolean AAnchorFirst) {
  TDataSet* DS = FController->DataSet();
  TvlBookmarkList* L = FBookmarks;
  const Integer N = L->Count();
  auto Same = [&](const TBookmark& A, const TBookmark& B) { return DS->CompareBookmarks(A, B) == 0; };
  if (Same(S, E)) {
    L->Clear();
    if (MaySelect()) L->Add(S);
    return true;
  }
  if (AAnchorFirst) {
    // The range's end moved by one.
    if (N >= 2 && Same(L->Items(N - 2), E)) {
      if (!Same(L->Items(0), S)) return false;
      L->Delete(N - 1);
      return true;
    }
    DS->GotoBookmark(E);
    DS->Prior();
    if (Same(L->Items(N - 1), DS->Bookmark()) && Same(L->Items(0), S)) {
      DS->GotoBookmark(E);
      if (MaySelect()) L->Add(E);
      return true;
    }
    return false;
  }
  // The range's start moved by one.
  if (N >= 2 && Same(L->Items(1), S)) {
    if (!Same(L->Items(N - 1), E)) return false;
    L->Delete(0);
    return true;
  }
  DS->GotoBookmark(S);
  DS->Next();
  if (Same(L->Items(0), DS->Bookmark()) && Same(L->Items(N - 1), E)) {
    DS->GotoBookmark(S);
    if (MaySelect()) L->Insert(0, S);
    return true;
  }
  return false;
}

void TvlDBDataSelection::WalkRange(const TBookmark& S, const TBookmark& E, Boolean AKeepSelection) {
  TDataSet* DS = FController->DataSet();
  TvlBookmarkList* L = FBookmarks;
  if (!AKeepSelection) L->Clear();
  Boolean Merge = L->Count() > 0;
  Integer I = 0, J = 0;
  if (Merge) {
    FindBookmark(S, I);
    FindBookmark(E, J);
    if (I >= L->Count()) Merge = false;
  }
  DS->GotoBookmark(S);
  while (!DS->Eof()) {
    const TBookmark B = DS->Bookmark();
    Boolean Placed = false;
    if (Merge) {
      for (Integer K = I; K <= J && K < L->Count(); ++K) {
        const Integer C = DS->CompareBookmarks(L->Items(K), B);
        if (C > 0) {
          if (MaySelect()) {
            L->Insert(K, B);
            ++I;
            ++J;
          }
          Placed = true;
          break;
        }
        if (C == 0) {
          ++I;
          Placed = true;
          break;
        }
      }
    }
    if (!Placed && MaySelect()) L->Add(B);
    if (DS->CompareBookmarks(B, E) == 0) break;
    DS->Next();
  }
}

void TvlDBDataSelection::SelectFromAnchor(const TBookmark& AToBookmark, Boolean AKeepSelection) {
  TDataSet* DS = FController->DataSet();
  if (!DS || !DS->Active() || FAnchorBookmark.empty() || AToBookmark.empty()) return;
  if (DS->State() == dsInsert && DS->Eof()) return;
  const Boolean AnchorFirst = DS->CompareBookmarks(FAnchorBookmark, AToBookmark) <= 0;
  const TBookmark S = AnchorFirst ? FAnchorBookmark : AToBookmark;
  const TBookmark E = AnchorFirst ? AToBookmark : FAnchorBookmark;
  WalkDataSet(this, FController, FInSelectAll, [&] {
    if (AKeepSelection || FBookmarks->Count() == 0 || !QuickAdjust(S, E, AnchorFirst)) WalkRange(S, E, AKeepSelection);
  });
}

// --- Controller: selection and bookmark in grid mode -----------------------------------

TvlDBDataSelection* TvlDBDataController::DBSelection() const {
  return static_cast<TvlDBDataSelection*>(DataControllerInfo()->Selection());
}

TvlBookmarkList* TvlDBDataController::SelectedBookmarks() const { return DBSelection()->Bookmarks(); }

void TvlDBDataController::SelectAll() {
  TDataSet* DS = DataSet();
  if (!IsGridMode() || !DS || !DS->Active()) {
    inherited::SelectAll();
    return;
  }
  DBSelection()->SelectAll();
}

void TvlDBDataController::SetSelectionAnchor(Integer ARowIndex) {
  if (!IsGridMode()) {
    inherited::SetSelectionAnchor(ARowIndex);
    return;
  }
  DataControllerInfo()->CheckRowIndex(ARowIndex);
  DBSelection()->SetAnchorBookmark(DBSelection()->GetRowBookmark(ARowIndex));
}

void TvlDBDataController::SelectFromAnchor(Integer ARowIndex, Boolean AKeepSelection) {
  if (!IsGridMode()) {
    inherited::SelectFromAnchor(ARowIndex, AKeepSelection);
    return;
  }
  DataControllerInfo()->CheckRowIndex(ARowIndex);
  if (IsSelectionAnchorExist()) DBSelection()->SelectFromAnchor(DBSelection()->GetRowBookmark(ARowIndex), AKeepSelection);
}

Integer TvlDBDataController::GetSelectedRowIndex(Integer AIndex) const {
  auto* Self = const_cast<TvlDBDataController*>(this);
  if (!Self->IsGridMode() || !MultiSelect()) return inherited::GetSelectedRowIndex(AIndex);
  TvlDBDataSelection* S = DBSelection();
  TDataSet* DS = DataSet();
  const Integer Rows = GetRowCount();
  if (!DS || AIndex < 0 || AIndex >= S->Bookmarks()->Count() || Rows == 0) return -1;
  const TBookmark& B = S->Bookmarks()->Items(AIndex);
  if (DS->CompareBookmarks(B, S->GetRowBookmark(0)) < 0 || DS->CompareBookmarks(B, S->GetRowBookmark(Rows - 1)) > 0)
    return -1;
  for (Integer R = 0; R < Rows; ++R)
    if (DS->CompareBookmarks(S->GetRowBookmark(R), B) == 0) return R;
  return -1;
}

TBookmark TvlDBDataController::GetRowId(Integer ARowIndex) {
  return ARowIndex >= 0 ? DBSelection()->GetRowBookmark(ARowIndex) : TBookmark();
}

TBookmark TvlDBDataController::GetSelectedBookmark(Integer AIndex) {
  if (!IsGridMode()) DBDataError(vlSDBNotInGridMode);
  if (!MultiSelect()) return FocusedRowIndex() >= 0 ? GetRowId(FocusedRowIndex()) : TBookmark();
  return SelectedBookmarks()->Items(AIndex);
}

TBookmark TvlDBDataController::GetSelectionAnchorBookmark() {
  if (!IsGridMode()) DBDataError(vlSDBNotInGridMode);
  return DBSelection()->AnchorBookmark();
}

Integer TvlDBDataController::GetSelectionAnchorRowIndex() {
  return IsGridMode() ? -1 : DataControllerInfo()->Selection()->AnchorRowIndex();
}

Boolean TvlDBDataController::IsSelectionAnchorExist() {
  return IsGridMode() ? !DBSelection()->AnchorBookmark().empty()
                      : DataControllerInfo()->Selection()->AnchorRowIndex() != -1;
}

Boolean TvlDBDataController::FocusSelectedRow(Integer ASelectedIndex) {
  if (!IsGridMode()) {
    // Mended: outside grid mode the selected row is focused instead of raising.
    if (ASelectedIndex < 0 || ASelectedIndex >= GetSelectedCount()) return false;
    ChangeFocusedRowIndex(GetSelectedRowIndex(ASelectedIndex));
    return FocusedRowIndex() == GetSelectedRowIndex(ASelectedIndex);
  }
  if (!DataSet()) return false;
  DataSet()->GotoBookmark(GetSelectedBookmark(ASelectedIndex));
  return true;
}

Boolean TvlDBDataController::IsBookmarkAvailable() const {
  if (const_cast<TvlDBDataController*>(this)->IsGridMode()) return !FBookmark.empty();
  return inherited::IsBookmarkAvailable();
}

Boolean TvlDBDataController::IsBookmarkRow(Integer ARowIndex) {
  if (!IsGridMode()) return inherited::IsBookmarkRow(ARowIndex);
  return DataSet() && !FBookmark.empty() && GetRowId(ARowIndex) == FBookmark;
}

Boolean TvlDBDataController::SaveBookmarkData() {
  if (!IsGridMode()) return inherited::SaveBookmarkData();
  TDataSet* DS = DataSet();
  if (!DS || !DS->Active() || DS->IsEmpty()) return false;
  TBookmark B = DS->Bookmark();
  if (B == FBookmark) return false;
  FBookmark = B;
  return true;
}

void TvlDBDataController::ClearBookmarkData() {
  FBookmark.clear();
  inherited::ClearBookmarkData();
}

void TvlDBDataController::GotoBookmarkData() {
  if (!IsGridMode()) {
    inherited::GotoBookmarkData();
    return;
  }
  if (!DataSet()) return;
  DataSet()->GotoBookmark(FBookmark);
  RefreshPrevSelectionInfo();
}

Boolean TvlDBDataController::IsBookmarkInvalid() {
  TDataSet* DS = DataSet();
  return !DS || !DS->BookmarkValid(FBookmark);
}

Boolean TvlDBDataController::SearchInGridMode(const String& AText, Boolean AForward, Boolean ANext) {
  Boolean Found = DBProvider()->SearchInGridMode(AText, AForward, ANext);
  if (Found) SyncSelectionFocusedRecord();
  return Found;
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
