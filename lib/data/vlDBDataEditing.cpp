// The data-set provider editing and deleting on its data set, and the
// incremental search that walks the data set in grid mode.
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
