// The data-set controller: its mode settings, the data link, the provider
// (reading and following the data set) and the data sets shared by views.
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

namespace {

// Every provider, so that controllers sharing a data set see each other.
std::vector<TvlDBDataProvider*>& Providers() {
  static std::vector<TvlDBDataProvider*> List;
  return List;
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
