// The controller's custom data source, provider and incremental search.
#include "lib/data/vlDataController.h"

#include <algorithm>

#include "lib/data/vlDataConsts.h"
#include "lib/data/vlDataControllerPrivate.h"
#include "lib/data/vlDataUtils.h"
#include "platform/rtl/Finally.h"

CL_IMPLEMENT_CLASS(TvlCustomDataSource)
CL_IMPLEMENT_CLASS(TvlCustomDataProvider)
CL_IMPLEMENT_CLASS(TvlDataControllerSearch)

using vl_data_controller::DataError;

// --- Custom data source --------------------------------------------------------------

TvlCustomDataSource::TRecordHandle TvlCustomDataSource::AppendRecord() { return -1; }
void TvlCustomDataSource::DeleteRecord(TRecordHandle) {}
Integer TvlCustomDataSource::GetDefaultItemID(Integer AItemIndex) {
  TvlCustomDataController* DC = DataController();
  return DC ? DC->GetItemID(DC->GetItem(AItemIndex)) : -1;
}
Boolean TvlCustomDataSource::GetInfoForCompare(TRecordHandle, Integer, const void*& PValue) {
  PValue = nullptr;
  DataError(vlSDataCustomDataSourceInvalidCompare);
  return false;
}
String TvlCustomDataSource::GetDisplayText(TRecordHandle AHandle, Integer AItemHandle) {
  try {
    return VarToStr(GetValue(AHandle, AItemHandle));
  } catch (const EVariantError&) {
    return u"";
  }
}
Integer TvlCustomDataSource::GetItemHandle(Integer AItemIndex) { return AItemIndex; }
Integer TvlCustomDataSource::GetRecordCount() { return 0; }
Variant TvlCustomDataSource::GetRecordId(TRecordHandle) { return Null(); }
TvlCustomDataSource::TRecordHandle TvlCustomDataSource::GetRecordHandle(Integer ARecordIndex) { return ARecordIndex; }
Variant TvlCustomDataSource::GetValue(TRecordHandle, Integer) { return Null(); }
TvlCustomDataSource::TRecordHandle TvlCustomDataSource::InsertRecord(TRecordHandle) { return AppendRecord(); }
void TvlCustomDataSource::SetRecordCount(Integer) {}
void TvlCustomDataSource::SetValue(TRecordHandle, Integer, const Variant&) {}

void TvlCustomDataSource::Destroy() {
  // Every provider still attached lets go (its controller rebuilds).
  while (!FProviders.empty()) FProviders.back()->SetCustomDataSource(nullptr);
  inherited::Destroy();
}

void TvlCustomDataSource::AttachProvider(TvlCustomDataProvider* AProvider) {
  FProviders.push_back(AProvider);
  if (!FProvider) FProvider = AProvider;
}

void TvlCustomDataSource::DetachProvider(TvlCustomDataProvider* AProvider) {
  FProviders.erase(std::remove(FProviders.begin(), FProviders.end(), AProvider), FProviders.end());
  if (FCurrentProvider == AProvider) FCurrentProvider = nullptr;
  if (FProvider == AProvider) FProvider = FProviders.empty() ? nullptr : FProviders.front();
}

TvlCustomDataController* TvlCustomDataSource::DataController() const {
  return Provider() ? Provider()->DataController() : nullptr;
}

void TvlCustomDataSource::DataChanged() {
  TvlCustomDataProvider* P = Provider();
  if (!P) return;
  TvlCustomDataController* DC = P->DataController();
  DC->BeginFullUpdate();
  Finally End([&] { DC->EndFullUpdate(); });
  P->DataChanged(dcTotal, -1, -1);
}

void TvlCustomDataSource::LoadRecordHandles() {
  TvlCustomDataController* DC = DataController();
  TvlCustomDataField* F = DC->RecordHandlesField();
  DC->DataStorage()->Clear(Provider()->LockCount() > 0);
  Integer N = std::max(0, GetRecordCount());
  DC->DataStorage()->SetRecordCount(N);
  if (!F) return;
  for (Integer I = 0; I < N; ++I)
    DC->DataStorage()->SetValue(I, F->ValueDef(), static_cast<Int64>(GetRecordHandle(I)));
}

TvlCustomDataSource::TRecordHandle TvlCustomDataSource::GetRecordHandleByIndex(Integer ARecordIndex) {
  TvlCustomDataController* DC = DataController();
  TvlCustomDataField* F = DC->RecordHandlesField();
  if (!F) return -1;
  Variant V = DC->DataStorage()->GetValue(ARecordIndex, F->ValueDef());
  return VarIsNull(V) ? -1 : static_cast<TRecordHandle>(V.AsInt64());
}

Integer TvlCustomDataSource::GetRecordIndexByHandle(TRecordHandle AHandle) {
  TvlCustomDataController* DC = DataController();
  for (Integer I = 0; I < DC->RecordCount(); ++I)
    if (GetRecordHandleByIndex(I) == AHandle) return I;
  return -1;
}

Integer TvlCustomDataSource::AppendHandleRecord(TRecordHandle AHandle) {
  TvlCustomDataController* DC = DataController();
  Integer R = DC->DataStorage()->AppendRecord();
  if (TvlCustomDataField* F = DC->RecordHandlesField())
    DC->DataStorage()->SetValue(R, F->ValueDef(), static_cast<Int64>(AHandle));
  return R;
}

// --- Provider --------------------------------------------------------------------------

void TvlCustomDataProvider::Create(TvlCustomDataController* ADataController) { FDataController = ADataController; }

void TvlCustomDataProvider::Destroy() {
  DiscardSavedRecord();
  if (FCustomDataSource) FCustomDataSource->DetachProvider(this);
  inherited::Destroy();
}

void TvlCustomDataProvider::CustomSort() {
  if (TvlCustomDataSource* S = CurrentDataSource()) S->CustomSort();
}
Boolean TvlCustomDataProvider::IsCustomSorting() {
  TvlCustomDataSource* S = CurrentDataSource();
  return S && S->IsCustomSorting();
}
Boolean TvlCustomDataProvider::IsRecordIdSupported() {
  TvlCustomDataSource* S = CurrentDataSource();
  return S && S->IsRecordIdSupported();
}

Integer TvlCustomDataProvider::CustomCompare(Integer ARecordIndex1, Integer ARecordIndex2,
                                             TvlCustomDataField* AField) {
  TvlCustomDataSource* S = CurrentDataSource();
  if (!S) return 0;
  return S->CompareRecords(S->GetRecordHandleByIndex(ARecordIndex1), S->GetRecordHandleByIndex(ARecordIndex2),
                           S->GetItemHandle(AField->Index()));
}

Integer TvlCustomDataProvider::CompareRecords(Integer ARecordIndex1, Integer ARecordIndex2,
                                              TvlCustomDataField* AField) {
  TvlDataStorage* Storage = FDataController->DataStorage();
  TvlValueDef* Def = AField->ValueDef();
  TvlCustomDataSource* S = CurrentDataSource();
  if (!Def) return 0;
  if (!S || (ARecordIndex1 < 0 && ARecordIndex2 < 0)) return Storage->CompareRecords(ARecordIndex1, ARecordIndex2, Def);
  // Stored records' values are the source's; internal ones are in the storage.
  auto Info = [&](Integer R, const void*& P) -> Boolean {
    if (R < 0) return Storage->GetCompareInfo(R, Def, P);
    return !S->GetInfoForCompare(S->GetRecordHandleByIndex(R), S->GetItemHandle(AField->Index()), P);
  };
  const void* P1 = nullptr;
  const void* P2 = nullptr;
  const Boolean Null1 = Info(ARecordIndex1, P1);
  const Boolean Null2 = Info(ARecordIndex2, P2);
  if (Null1 || Null2) return Null1 == Null2 ? 0 : (Null1 ? -1 : 1);
  return Def->ValueTypeClass()->CompareValues(P1, P2);
}

void TvlCustomDataProvider::ResetNearestRecord() { FDataController->NearestRecordIndex = -1; }

Boolean TvlCustomDataProvider::DeleteAllowed() { return FDataController->FilteredRecordCount() > 0; }

void TvlCustomDataProvider::SetCustomDataSource(TvlCustomDataSource* ADataSource) {
  if (FCustomDataSource == ADataSource) return;
  if (FCustomDataSource) FCustomDataSource->DetachProvider(this);
  FCustomDataSource = ADataSource;
  if (ADataSource) ADataSource->AttachProvider(this);
  FDataController->RebuildData();
}

Boolean TvlCustomDataProvider::GetDetailHasChildren(Integer ARecordIndex, Integer ARelationIndex) {
  TvlCustomDataSource* S = CurrentDataSource();
  return S && S->GetDetailHasChildren(ARecordIndex, ARelationIndex);
}

TvlCustomDataSource* TvlCustomDataProvider::CurrentDataSource() const {
  if (FCustomDataSource) FCustomDataSource->FCurrentProvider = const_cast<TvlCustomDataProvider*>(this);
  return FCustomDataSource;
}

void TvlCustomDataProvider::SaveEditedRecord(Integer ARecordIndex) {
  TvlDataStorage* S = FDataController->DataStorage();
  if (FSavedRecordIndex == 0) FSavedRecordIndex = S->AddInternalRecord();
  FDataController->CopyRecordValues(ARecordIndex, FSavedRecordIndex);
}

void TvlCustomDataProvider::DiscardSavedRecord() {
  if (FSavedRecordIndex == 0) return;
  Integer R = FSavedRecordIndex;
  FSavedRecordIndex = 0;
  if (!FDataController->DataStorage()->Destroying()) FDataController->DataStorage()->DeleteRecord(R);
}

void TvlCustomDataProvider::ResetEditing() {
  TvlCustomDataController* DC = FDataController;
  const Integer Edited = FEditingRecordIndex;
  FEditingRecordIndex = FEditingRecordIndex1 = FEditingRecordIndex2 = vlNoEditingRecordIndex;
  // The new-item record goes with its edit; the next use starts from empty values.
  if (Edited != vlNoEditingRecordIndex && DC->IsNewItemRecord(Edited) && !DC->DataStorage()->Destroying())
    DC->DeleteRecord(Edited);
  FInserting = false;
  EndChange();
  ResetModified();
  DiscardSavedRecord();
}

void TvlCustomDataProvider::PostEditingData() {
  if (!IsChanging()) return;
  FDataController->UpdateData();
  // The editor's text is written: the change ends (an editor that refused
  // its text raised above and keeps it).
  EndChange();
}

void TvlCustomDataProvider::DoEdit() {
  if (HasEditingRecord()) return;
  TvlCustomDataController* DC = FDataController;
  if (DC->UseNewItemRowForEditing() && DC->NewItemRowFocused() && !IsInsertingRecord()) {
    Insert();
    return;
  }
  FEditingRecordIndex = DC->GetActiveRecordIndex();
  if (FEditingRecordIndex == vlNoEditingRecordIndex) return;
  FEditingRecordIndex1 = FEditingRecordIndex2 = vlNoEditingRecordIndex;
  Integer Row = DC->FocusedRowIndex();
  if (Row >= 0) {
    if (Row < DC->GetRowCount() - 1)
      FEditingRecordIndex2 = DC->GetRowInfo(Row + 1).RecordIndex;
    else
      FEditingRecordIndex1 = DC->GetRowInfo(Row > 0 ? Row - 1 : Row).RecordIndex;
  }
  if (FEditingRecordIndex >= 0) SaveEditedRecord(FEditingRecordIndex);
  DC->Change(dccUpdateRecord);
}

void TvlCustomDataProvider::AssignGroupingValues(Integer ARecordIndex, const std::vector<Variant>& AValues) {
  TvlCustomDataController* DC = FDataController;
  if (DC->Options().Contains(dcoAssignGroupingValues)) {
    TvlGroupingFieldList* G = DC->DataControllerInfo()->GroupingFieldList();
    for (Integer L = 0; L < G->Count() && L < static_cast<Integer>(AValues.size()); ++L)
      if (G->Items(L).Field->ValueDef())
        DC->DataStorage()->SetValue(ARecordIndex, G->Items(L).Field->ValueDef(), AValues[L]);
  }
  DC->DoNewRecord(ARecordIndex);
}

void TvlCustomDataProvider::DoInsert(Boolean AAppend) {
  TvlCustomDataController* DC = FDataController;
  if (IsInsertingRecord() && !FChanging && !FModified) return;
  if (HasEditingRecord() && (FChanging || FModified)) {
    if (FChanging) PostEditingData();
    Post(false);
  }
  DC->DoBeforeInsert();
  Integer NewRecord;
  {
    DC->BeginUpdate();
    Finally End([&] { DC->EndUpdate(); });
    std::vector<Variant> GroupValues;
    auto TakeGroupValues = [&](Integer R) { DC->GetGroupValues(R, GroupValues); };
    if (HasEditingRecord()) ResetEditing();
    if (DC->UseNewItemRowForEditing()) {
      // The new-item row takes the values; a stored record is appended on post.
      Integer Neighbour = DC->FocusedRecordIndex();
      if (Neighbour < 0 && DC->GetRowCount() > 0) Neighbour = DC->GetRowInfo(0).RecordIndex;
      TakeGroupValues(Neighbour);
      NewRecord = DC->NewItemRecordIndex();
      DC->FocusNewItemRow(true);
    } else if (AAppend) {
      Integer Rows = DC->GetRowCount();
      Integer Last = Rows > 0 ? DC->GetRowInfo(Rows - 1).RecordIndex : -1;
      TakeGroupValues(Last);
      // In provider mode the custom data source makes the record (its handle).
      NewRecord = DC->IsProviderMode() ? DC->AppendRecord() : DC->DataStorage()->AppendRecord();
      FEditingRecordIndex1 = Last >= 0 ? Last : NewRecord;
    } else {
      DC->ClearSelection();
      Integer Focused = DC->FocusedRecordIndex();
      Integer Before = Focused >= 0 ? Focused : 0;
      TakeGroupValues(Focused);
      NewRecord = std::min(Before, DC->RecordCount());
      if (DC->IsProviderMode()) {
        DC->InsertRecord(NewRecord);
      } else {
        DC->DataStorage()->InsertRecord(NewRecord);
        DC->RecordInserted(NewRecord);
      }
      FEditingRecordIndex2 = Before + 1;
      if (FEditingRecordIndex2 >= DC->RecordCount()) {
        FEditingRecordIndex2 = vlNoEditingRecordIndex;
        FEditingRecordIndex1 = NewRecord;
      }
    }
    FEditingRecordIndex = NewRecord;
    AssignGroupingValues(NewRecord, GroupValues);
    EndChange();
    FInserting = true;
    DC->DataControllerInfo()->Refresh();
  }
  DC->ChangeFocusedRecordIndex(NewRecord);
  DC->DoAfterInsert();
}

void TvlCustomDataProvider::Post(Boolean AForcePost) {
  TvlCustomDataController* DC = FDataController;
  if (!HasEditingRecord()) return;
  // A pending editor text is written first.
  PostEditingData();
  Integer Posted = -1;
  Boolean RealPost = false;
  {
    DC->BeginFullUpdate();
    Finally End([&] { DC->EndFullUpdate(); });
    if (!FInserting || FModified || AForcePost) {
      DC->DoBeforePost();
      Posted = FEditingRecordIndex;
      if (FInserting && DC->IsNewItemRecord(Posted)) {
        // The new-item row's values become a stored record at the end.
        {
          // The source's data change must not end the edit of the new-item record.
          FDataChangedLocked = DC->IsProviderMode();
          Finally Unlock([&] { FDataChangedLocked = false; });
          FInsertedRecordIndex = DC->AppendRecord();
        }
        DC->CopyRecordValues(Posted, FInsertedRecordIndex);
        Posted = FInsertedRecordIndex;
      }
      ResetEditing();
      RealPost = true;
    } else {
      Cancel();
    }
    DC->DataChanged(dcRecord, -1, Posted);
  }
  if (RealPost) DC->DoAfterPost();
}

void TvlCustomDataProvider::Cancel() {
  TvlCustomDataController* DC = FDataController;
  DC->DoBeforeCancel();
  {
    DC->BeginUpdate();
    Finally End([&] { DC->EndUpdate(); });
    Integer E = FEditingRecordIndex;
    if (E != vlNoEditingRecordIndex && E >= 0 && E < DC->RecordCount()) {
      if (FInserting) {
        FEditingRecordIndex = vlNoEditingRecordIndex;
        // In provider mode the custom data source made the new record: it
        // goes there too, or it would come back with the next load.
        if (DC->IsProviderMode()) {
          TvlCustomDataSource* S = DC->CustomDataSource();
          const TvlCustomDataSource::TRecordHandle H = S->GetRecordHandleByIndex(E);
          if (H != -1) S->DeleteRecord(H);
        }
        DC->DataStorage()->DeleteRecord(E);
        DC->RecordDeleted(E);
      } else if (FSavedRecordIndex != 0) {
        DC->CopyRecordValues(FSavedRecordIndex, E);
      }
    }
    ResetEditing();
    DC->DataControllerInfo()->Refresh();
  }
  DC->DoAfterCancel();
}

void TvlCustomDataProvider::FindNearestRecord() {
  TvlCustomDataController* DC = FDataController;
  Integer Row = DC->FocusedRowIndex();
  if (Row < 0 || IsGridMode()) return;
  if (!DC->MultiSelect() || DC->IsRowSelected(Row) || DC->GetSelectedCount() == 0)
    Row = DC->DataControllerInfo()->GetNearestRowIndex(Row);
  DC->NearestRecordIndex = Row >= 0 ? DC->GetRowInfo(Row).RecordIndex : -1;
}

void TvlCustomDataProvider::Delete() {
  TvlCustomDataController* DC = FDataController;
  Integer R = DC->FocusedRecordIndex();
  if (R < 0) return;
  DC->DoBeforeDelete(R);
  {
    // The source's records move: expanded details and the selection follow their keys.
    const Boolean Keys = DC->IsProviderMode();
    if (Keys) DC->SaveKeys();
    Finally Restore([&] {
      if (Keys) DC->RestoreKeys();
    });
    DC->DeleteRecord(R);
    DC->FocusNearestRecord();
  }
  DC->DoAfterDelete();
}

void TvlCustomDataProvider::DeleteRecords(const std::vector<Integer>& AList) {
  TvlCustomDataController* DC = FDataController;
  const Boolean Keys = DC->IsProviderMode();
  if (Keys) DC->SaveKeys();
  Finally Restore([&] {
    if (Keys) DC->RestoreKeys();
  });
  {
    DC->BeginFullUpdate();
    Finally End([&] { DC->EndFullUpdate(); });
    for (auto It = AList.rbegin(); It != AList.rend(); ++It) {
      DC->DoBeforeDelete(*It);
      DC->DeleteRecord(*It);
      DC->DoAfterDelete();
    }
    if (DC->InDeleteSelection()) DC->ClearSelection();
  }
  DC->FocusNearestRecord();
}

void TvlCustomDataProvider::DeleteSelection() {
  TvlCustomDataController* DC = FDataController;
  std::vector<Integer> List;
  TvlCustomDataControllerInfo* Info = DC->DataControllerInfo();
  for (Integer I = 0; I < DC->GetSelectedCount(); ++I) {
    TvlRowInfo R = DC->GetRowInfo(DC->GetSelectedRowIndex(I));
    if (Info->IsGrouped() && R.Level < Info->DataGroups()->LevelCount()) {
      DC->Groups()->LoadRecordIndexes(List, Info->DataGroups()->GetIndexByRowIndex(DC->GetSelectedRowIndex(I)));
    } else {
      List.push_back(R.RecordIndex);
    }
  }
  DC->DeleteRecordList(List);
}

Boolean TvlCustomDataProvider::CanInitEditing(Integer ARecordIndex) {
  FDataController->CheckRecordIndex(ARecordIndex);
  if (!HasEditingRecord()) DoEdit();
  if (HasEditingRecord()) BeginChange();
  return true;
}

Variant TvlCustomDataProvider::GetEditValue(Integer ARecordIndex, TvlCustomDataField* AField,
                                            TvlDataEditValueSource) {
  if (ARecordIndex == vlNoEditingRecordIndex) DataError(vlSDataRecordIndexError);
  return FDataController->GetValue(ARecordIndex, AField);
}

Boolean TvlCustomDataProvider::SetEditValue(Integer ARecordIndex, TvlCustomDataField* AField, const Variant& AValue,
                                            TvlDataEditValueSource AEditValueSource) {
  Variant V = AValue;
  if (AEditValueSource == evsText && VarIsStr(V) && VarToStr(V).empty()) V = Null();
  FDataController->SetValue(ARecordIndex, AField->Index(), V);
  MarkModified();
  return true;
}

void TvlCustomDataProvider::DataChanged(TvlDataChange AKind, Integer AItemIndex, Integer ARecordIndex) {
  if (FLockCount == 0) FDataController->DataChanged(AKind, AItemIndex, ARecordIndex);
  if (FDataChangedLocked)
    EndChange();
  else
    ResetEditing();
}

// --- Incremental search --------------------------------------------------------------

void TvlDataControllerSearch::Create(TvlCustomDataController* ADataController) { FDataController = ADataController; }

Integer TvlDataControllerSearch::ItemIndex() const {
  return FDataController->IncrementalSearchField ? FDataController->IncrementalSearchField->Index() : -1;
}

void TvlDataControllerSearch::SetItemIndex(Integer Value) {
  FDataController->CheckItemRange(Value);
  FDataController->IncrementalSearchField = FDataController->GetItemField(Value);
}

Boolean TvlDataControllerSearch::Searching() const { return FDataController->IncrementalSearching; }
String TvlDataControllerSearch::SearchText() const { return FDataController->IncrementalSearchText; }

void TvlDataControllerSearch::FocusRecordListIndex(Integer AIndex) {
  Lock();
  Finally Done([&] { Unlock(); });
  FDataController->ChangeFocusedRecordIndex(FDataController->DataControllerInfo()->GetInternalRecordIndex(AIndex));
  FDataController->SyncSelectionFocusedRecord();
}

Integer TvlDataControllerSearch::DoSearch(Integer AStartIndex, Integer AEndIndex, Boolean AForward,
                                          const String& AText) {
  TvlCustomDataControllerInfo* Info = FDataController->DataControllerInfo();
  if (AEndIndex == -1) AEndIndex = AForward ? Info->RecordListCount() - 1 : 0;
  const Integer Item = ItemIndex();
  for (Integer P = AStartIndex; AForward ? P <= AEndIndex : P >= AEndIndex; P += AForward ? 1 : -1)
    if (vlMatchSearchText(FDataController->GetSearchDisplayText(Info->GetInternalRecordIndex(P), Item), AText, true))
      return P;
  return -1;
}

Boolean TvlDataControllerSearch::Locate(Integer AItemIndex, const String& ASubText) {
  TvlCustomDataControllerInfo* Info = FDataController->DataControllerInfo();
  if (ASubText.empty() || Info->RecordListCount() == 0) return false;
  TvlCustomDataField* OldField = FDataController->IncrementalSearchField;
  SetItemIndex(AItemIndex);
  if (FDataController->IsGridMode()) {
    Lock();
    Boolean Found;
    {
      Finally Done([&] { Unlock(); });
      Found = FDataController->SearchInGridMode(ASubText, true, false);
    }
    if (!Found) {
      FDataController->IncrementalSearchField = OldField;
      return false;
    }
    FDataController->IncrementalSearching = true;
    FDataController->IncrementalSearchText = ASubText;
    FDataController->Change(dccSearch);
    return true;
  }
  Integer Start = Info->FindRecordListIndex(FDataController->FocusedRecordIndex());
  if (Start < 0) Start = 0;
  Integer Found = DoSearch(Start, -1, true, ASubText);
  if (Found < 0 && Start > 0) Found = DoSearch(0, Start - 1, true, ASubText);
  if (Found < 0) {
    FDataController->IncrementalSearchField = OldField;
    return false;
  }
  FocusRecordListIndex(Found);
  FDataController->IncrementalSearching = true;
  FDataController->IncrementalSearchText = ASubText;
  FDataController->Change(dccSearch);
  if (FDataController->MultiSelect()) FDataController->CheckFocusedSelected();
  return true;
}

Boolean TvlDataControllerSearch::LocateNext(Boolean AForward) {
  TvlCustomDataControllerInfo* Info = FDataController->DataControllerInfo();
  if (!Searching() || SearchText().empty() || ItemIndex() < 0 || Info->RecordListCount() == 0) return false;
  if (FDataController->IsGridMode()) {
    Lock();
    Finally Done([&] { Unlock(); });
    return FDataController->SearchInGridMode(SearchText(), AForward, true);
  }
  Integer Cur = Info->FindRecordListIndex(FDataController->FocusedRecordIndex());
  if (Cur < 0) return false;
  Integer Start = Cur + (AForward ? 1 : -1);
  if (Start < 0 || Start >= Info->RecordListCount()) return false;
  Integer Found = DoSearch(Start, -1, AForward, SearchText());
  if (Found < 0) return false;
  FocusRecordListIndex(Found);
  if (FDataController->MultiSelect()) FDataController->CheckFocusedSelected();
  return true;
}

void TvlDataControllerSearch::Cancel() {
  if (FLocked || !FDataController->IncrementalSearching) return;
  FDataController->IncrementalSearchText.clear();
  FDataController->IncrementalSearching = false;
  FDataController->Change(dccSearch);
}
