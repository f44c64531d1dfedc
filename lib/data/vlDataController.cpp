// The data controller: construction, items, locks and notifications, records
// and values, rows and focus, sorting and grouping, selection, editing and
// filtering.
#include "lib/data/vlDataController.h"

#include <algorithm>
#include <cstring>
#include <numeric>

#include "lib/data/vlDataConsts.h"
#include "lib/data/vlDataControllerKeys.h"
#include "lib/data/vlDataControllerPrivate.h"
#include "lib/data/vlDataUtils.h"
#include "lib/foundation/vlVariants.h"
#include "platform/rtl/Finally.h"
#include "platform/rtl/Strings.h"

CL_IMPLEMENT_CLASS(TvlUpdateControlInfo)
CL_IMPLEMENT_CLASS(TvlDataChangedInfo)
CL_IMPLEMENT_CLASS(TvlLayoutChangedInfo)
CL_IMPLEMENT_CLASS(TvlUpdateRecordInfo)
CL_IMPLEMENT_CLASS(TvlFocusedRowChangedInfo)
CL_IMPLEMENT_CLASS(TvlFocusedRecordChangedInfo)
CL_IMPLEMENT_CLASS(TvlSelectionChangedInfo)
CL_IMPLEMENT_CLASS(TvlSearchChangedInfo)
CL_IMPLEMENT_CLASS(TvlBookmarkChangedInfo)
CL_IMPLEMENT_CLASS(TvlGroupingChangingInfo)
CL_IMPLEMENT_CLASS(TvlCustomDataController)

using vl_data_controller::DataError;

void TvlSelectionChangedInfo::CreateEx(Integer ARowIndex1, Integer ARowIndex2) {
  if (ARowIndex1 != -1) FRowIndexes.push_back(ARowIndex1);
  if (ARowIndex2 != -1 && ARowIndex2 != ARowIndex1) FRowIndexes.push_back(ARowIndex2);
}

// --- The controller: construction ----------------------------------------------------

void TvlCustomDataController::Create(TComponent* AOwner) {
  FOwner = AOwner;
  FOptions = TvlDataControllerOptions{dcoAssignGroupingValues, dcoAssignMasterDetailKeys, dcoSaveExpanding};
  FFocusedSelected = true;
  FDataStorage = New<TvlDataStorage>();
  FGroups = New<TvlDataControllerGroups>(this);
  FFields = New<TvlCustomDataFieldList>(static_cast<IvlDataController*>(this));
  FFilters = New<TvlDataFilterList>();
  using TFilterCreate = void (TvlDataFilterCriteria::*)(IvlDataController*);
  FFilter = CreateFrom(GetFilterCriteriaClass(), static_cast<TFilterCreate>(&TvlDataFilterCriteria::Create),
                       static_cast<IvlDataController*>(this));
  FSearch = New<TvlDataControllerSearch>(this);
  FSummary = New<TvlDataSummary>(this);
  FProvider = New<TvlCustomDataProvider>(this);
  FDataControllerInfo = New<TvlCustomDataControllerInfo>(this);
  FMasterRecordIndex = -1;
  FBookmarkRecordIndex = -1;
  NearestRecordIndex = -1;
  ResetDataChangeInfo();
  FNotifier = New<TvlDataControllerNotifier>(nullptr);
  FNotifier->SetDataController(this);
  FDataStorage->SetOnClearInternalRecords(TNotifyEvent(this, &TvlCustomDataController::ClearInternalRecords));
}

void TvlCustomDataController::ClearInternalRecords(TObject*) {
  if (FProvider) FProvider->ForgetSavedRecord();
  FNewItemRecordIndex = 0;
}

void TvlCustomDataController::ReplaceProvider(TvlCustomDataProvider* AProvider) {
  Free(FProvider);
  FProvider = AProvider;
}

void TvlCustomDataController::BeforeDestruction() {
  FDestroying = true;
  inherited::BeforeDestruction();
}

void TvlCustomDataController::Destroy() {
  FDestroying = true;
  Free(FSaveObject);
  FSaveObject = nullptr;
  // A pattern leaves its relation; a clone's relation may be gone already.
  if (FMasterRelation && FMasterRecordIndex == -1 &&
      FMasterRelation->DetailDataController() == static_cast<IvlDataController*>(this))
    FMasterRelation->SetDetailDataController(nullptr);
  FreeAndNil(FNotifier);
  Free(FRelations);
  FRelations = nullptr;
  Free(FDataControllerInfo);
  FDataControllerInfo = nullptr;
  Free(FSummary);
  FSummary = nullptr;
  Free(FFilter);
  Free(FFilters);
  if (FDataStorage) {
    FDataStorage->Clear(false);
    FDataStorage->SetOnClearInternalRecords(TNotifyEvent());
  }
  Free(FGroups);
  Free(FFields);
  Free(FProvider);
  Free(FDataStorage);
  Free(FSearch);
  // Running operations see that the controller is gone.
  for (TvlDataListenerLink* L : FListenerLinks) L->Ref = nullptr;
  FListenerLinks.clear();
  inherited::Destroy();
}

void TvlCustomDataController::GetGroupValues(Integer ARecordIndex, std::vector<Variant>& AValues) {
  TvlGroupingFieldList* G = FDataControllerInfo->GroupingFieldList();
  AValues.assign(G->Count(), Null());
  if (ARecordIndex < 0 || ARecordIndex >= RecordCount()) return;
  for (Integer L = 0; L < G->Count(); ++L) AValues[L] = GetGroupValue(ARecordIndex, G->Items(L).Field);
}

void TvlCustomDataController::ForEachRow(Boolean ASelectedRows, const TvlDataControllerEachRowProc& AProc) {
  if (ASelectedRows) {
    for (Integer I = 0; I < GetSelectedCount(); ++I) {
      const Integer Row = GetSelectedRowIndex(I);
      AProc(Row, GetRowInfo(Row));
    }
    return;
  }
  for (Integer Row = 0; Row < GetRowCount(); ++Row) AProc(Row, GetRowInfo(Row));
}

void TvlCustomDataController::LockGridModeNotify() {
  ++FLockGridModeNotifyCount;
  FProvider->BeginLocate();
}

void TvlCustomDataController::UnlockGridModeNotify() {
  FProvider->EndLocate();
  --FLockGridModeNotifyCount;
}

TvlDataListenerLink* TvlCustomDataController::AddListenerLink() {
  auto* L = new TvlDataListenerLink{this};
  FListenerLinks.push_back(L);
  return L;
}

void TvlCustomDataController::RemoveListenerLink(TvlDataListenerLink* ALink) {
  std::erase(FListenerLinks, ALink);
}

// --- Items ------------------------------------------------------------------------

TObject* TvlCustomDataController::GetItem(Integer AIndex) {
  CheckItemRange(AIndex);
  return FFields->Items(AIndex)->Item();
}

TvlCustomDataField* TvlCustomDataController::AddItem(TObject* AItem) {
  if (AItem && FFields->FieldByItem(AItem)) DataError(vlSDataItemExistError);
  TvlCustomDataField* F = AddField();
  F->SetItem(AItem);
  return F;
}

TvlCustomDataField* TvlCustomDataController::AddField() {
  TvlCustomDataField* F = CreateFrom(GetFieldClass(), &TvlCustomDataField::Create, FFields);
  FFields->Add(F);
  return F;
}

TvlCustomDataField* TvlCustomDataController::AddInternalField() {
  TvlCustomDataField* F = CreateFrom(GetFieldClass(), &TvlCustomDataField::Create, FFields);
  F->SetIsInternal(true);
  FFields->Add(F);
  return F;
}

Boolean TvlCustomDataController::ItemPropertiesChanged(Integer AItemIndex) {
  if (AItemIndex != -1 && GetItemSortOrder(AItemIndex) == soNone) return false;
  Refresh();
  return true;
}

void TvlCustomDataController::ChangeNeedConversion(Integer AItemIndex, Boolean Value) {
  CheckItemRange(AItemIndex);
  if (GetItemNeedConversion(AItemIndex) == Value) return;
  TvlCustomDataField* F = GetItemField(AItemIndex);
  F->SetNeedConversion(Value);
  FDataControllerInfo->UpdateField(F);
}

Boolean TvlCustomDataController::GetItemTextStored(Integer AItemIndex) { return GetItemField(AItemIndex)->TextStored(); }

void TvlCustomDataController::ChangeTextStored(Integer AItemIndex, Boolean Value) {
  if (GetItemTextStored(AItemIndex) == Value) return;
  TvlCustomDataField* F = GetItemField(AItemIndex);
  // The field rebuilds its definition: the stored values are carried over.
  std::vector<Variant> Values;
  const Boolean Keep = F->ValueDef() && !IsProviderMode() && !F->ReferenceField();
  if (Keep)
    for (Integer R = 0; R < FDataStorage->RecordCount(); ++R) Values.push_back(FDataStorage->GetValue(R, F->ValueDef()));
  F->SetTextStored(Value);
  if (Keep && F->ValueDef())
    for (Integer R = 0; R < static_cast<Integer>(Values.size()) && R < FDataStorage->RecordCount(); ++R)
      FDataStorage->SetValue(R, F->ValueDef(), Values[R]);
  FDataControllerInfo->UpdateField(F);
}

void TvlCustomDataController::UpdateItemIndexes() {
  for (Integer I = 0; I < GetItemCount(); ++I)
    if (TvlCustomDataField* F = FFields->FieldByItem(GetItem(I)); F && F->Index() != I) F->SetIndex(I);
  Change(dccLayout);
}

TObject* TvlCustomDataController::GetItemByItemID(TObject* AItem) { return GetItemByID(GetItemID(AItem)); }

TvlDataFilterCriteria* TvlCustomDataController::CreateFilter() {
  auto* Filter = New<TvlDataFilterCriteria>(static_cast<IvlDataController*>(this));
  FFilters->Add(Filter);
  return Filter;
}

void TvlCustomDataController::ActiveChanged(Boolean AActive) {
  FActive = AActive;
  UpdateItems(FProvider->IsActive());
  if (TvlCustomDataController* Master = GetMasterDataController()) Master->ResetHasChildrenFlag();
}

void TvlCustomDataController::RemoveItem(TObject* AItem) {
  TvlCustomDataField* F = FFields->FieldByItem(AItem);
  if (!F) return;
  BeginUpdate();
  Finally End([&] { EndUpdate(); });
  FDataControllerInfo->RemoveField(F);
  Free(F);
}

void TvlCustomDataController::CheckItemRange(Integer AItemIndex) {
  if (AItemIndex < 0 || AItemIndex >= GetItemCount()) DataError(vlSDataItemIndexError);
}

TvlCustomDataField* TvlCustomDataController::GetItemField(Integer AItemIndex) {
  CheckItemRange(AItemIndex);
  return FFields->Items(AItemIndex);
}

void TvlCustomDataController::ChangeValueTypeClass(Integer AItemIndex, TvlValueTypeClass AValueTypeClass) {
  TvlCustomDataField* F = GetItemField(AItemIndex);
  if (F->ValueTypeClass() == AValueTypeClass) return;
  F->SetValueTypeClass(AValueTypeClass);
  if (IsProviderMode()) RebuildData();
  FDataControllerInfo->UpdateField(F);
  ItemValueTypeClassChanged(AItemIndex);
}

TvlValueTypeClass TvlCustomDataController::GetItemValueTypeClass(Integer AItemIndex) {
  return GetItemField(AItemIndex)->ValueTypeClass();
}

String TvlCustomDataController::GetItemName(TObject* AItem) {
  auto* C = dynamic_cast<TComponent*>(AItem);
  return C ? C->Name() : String();
}

TObject* TvlCustomDataController::GetItemByID(Integer AID) {
  for (Integer I = 0; I < GetItemCount(); ++I)
    if (GetItemID(GetItem(I)) == AID) return GetItem(I);
  return nullptr;
}

TObject* TvlCustomDataController::GetItemByName(const String& AName) {
  for (Integer I = 0; I < GetItemCount(); ++I)
    if (SameText(GetItemName(GetItem(I)), AName)) return GetItem(I);
  return nullptr;
}

void TvlCustomDataController::FieldRemoved(TvlCustomDataField* AField) {
  if (FDestroying) return;
  if (AField == FRecordHandlesField) FRecordHandlesField = nullptr;
  if (FRelations) FRelations->RemoveField(AField);
  FFilters->RemoveItemByField(AField);
  FFilter->RemoveItemByField(AField);
  FSummary->RemoveItemByField(AField);
  if (AField == FIncrementalFilterField) ResetIncrementalFilter();
  if (FSortingBySummaryDataItemIndex != -1 && AField->Index() == FSortingBySummaryDataItemIndex)
    FSortingBySummaryDataItemIndex = -1;
  if (AField == IncrementalSearchField) {
    FSearch->Cancel();
    IncrementalSearchField = nullptr;
  }
  FDataControllerInfo->RemoveField(AField);
}

void TvlCustomDataController::ProviderLayoutChanged() {
  if (FDestroying || FProvider->LockCount() > 0) return;
  LayoutChanged(0x01);
}

void TvlCustomDataController::LayoutChanged(Byte) { UpdateItems(FProvider->IsActive()); }

void TvlCustomDataController::UpdateItems(Boolean AUpdateFields) {
  if (FUpdateItems) return;
  FUpdateItems = true;
  Finally Clear([&] { FUpdateItems = false; });
  if (LockCount() != 0) FStructureChanged = true;
  if (NeedsStructureUpdate()) UpdateStructure(AUpdateFields);
}

void TvlCustomDataController::UpdateFields() {
  for (Integer I = 0; I < FFields->Count(); ++I) FFields->Items(I)->SetPrepared(false);
  // Preparing may destroy (and recreate) fields: each time that happens the
  // pass starts again over the fields not yet prepared. A descendant that
  // never stops recreating fields ends after a bounded number of passes.
  for (Integer Pass = 0; Pass <= 4 * FFields->Count() + 16; ++Pass) {
    FFields->ClearFieldDestroyed();
    Boolean Unprepared = false;
    for (Integer I = 0; I < FFields->Count(); ++I) {
      TvlCustomDataField* F = FFields->Items(I);
      if (F->Prepared()) continue;
      PrepareField(F);
      if (FFields->FieldDestroyed()) {
        Unprepared = true;
        break;
      }
      F->SetPrepared(true);
    }
    if (!Unprepared) return;
  }
}

void TvlCustomDataController::EndUpdateFields() {
  if (--FLockUpdateFieldsCount > 0 || !FUpdateFieldsFlag) return;
  FUpdateFieldsFlag = false;
  LayoutChanged(0x01);
}

// --- Locks and notifications ----------------------------------------------------------

Integer TvlCustomDataController::LockCount() const { return FDataControllerInfo->LockCount(); }

void TvlCustomDataController::BeginUpdate() { FDataControllerInfo->BeginUpdate(); }

void TvlCustomDataController::EndUpdate() {
  FDataControllerInfo->EndUpdate();
  CheckChanges();
}

void TvlCustomDataController::Change(Word AChanges) {
  FChanges |= AChanges;
  CheckChanges();
}

void TvlCustomDataController::CheckChanges() {
  if (LockCount() != 0 || FDestroying) return;
  if (FRefocusRecordIndex >= 0) {
    const Integer R = FRefocusRecordIndex;
    FRefocusRecordIndex = -1;
    if (R < RecordCount() && FocusedRecordIndex() != R) ChangeFocusedRecordIndex(R);
  }
  BeforeNotifyControl();
  if (FChanges == 0) return;
  if (FStructureChanged) {
    FStructureChanged = false;
    LayoutChanged(0x01);
  }
  NotifyControl();
}

Boolean TvlCustomDataController::IsRowInfoValid() const { return !FDataControllerInfo->InfoCalculation(); }

void TvlCustomDataController::ResetDataChangeInfo() {
  FDataChangeKind = dcTotal;
  FDataChangeItemIndex = -1;
  FDataChangeRecordIndex = -1;
}

void TvlCustomDataController::DataChanged(TvlDataChange ADataChange, Integer AItemIndex, Integer ARecordIndex) {
  if (FDataChangeRecordIndex != -1 && ARecordIndex != FDataChangeRecordIndex)
    FDataChangeKind = dcTotal;
  else if (ADataChange == dcField && FDataChangeItemIndex != -1 && AItemIndex != FDataChangeItemIndex) {
    FDataChangeKind = dcRecord;
    AItemIndex = -1;
  } else
    FDataChangeKind = ADataChange;
  FDataChangeItemIndex = AItemIndex;
  FDataChangeRecordIndex = ARecordIndex;
  if (ADataChange == dcTotal) {
    UpdateStructure(false);
  } else {
    if (ADataChange == dcNew || ADataChange == dcDeleted) FDataControllerInfo->FocusedRecordChanged(false);
    BeginUpdate();
    Finally End([&] { EndUpdate(); });
    FDataControllerInfo->Refresh();
  }
  // The master asks again whether its records have details, unless this
  // detail is in an edit (the question would locate the detail's data set).
  if ((IsProviderMode() || FProvider->IsActiveDataSet()) && !(EditState() & (dceInsert | dceEdit)))
    if (TvlCustomDataController* Master = GetMasterDataController()) Master->ResetHasChildrenFlag();
}

void TvlCustomDataController::SendInfo(TvlUpdateControlInfo* AInfo) {
  FInNotifyControl = true;
  Finally Done([&] {
    Free(AInfo);
    FInNotifyControl = false;
  });
  DoUpdateControl(AInfo);
}

void TvlCustomDataController::DoUpdateControl(TvlUpdateControlInfo* AInfo) {
  if (Assigned(FOnUpdateControl)) FOnUpdateControl(AInfo);
}

void TvlCustomDataController::SendGroupingChanging() { SendInfo(New<TvlGroupingChangingInfo>()); }

void TvlCustomDataController::NotifyControl() {
  const Word C = FChanges;
  FChanges = 0;
  if (C & dccData) {
    Finally Reset([&] { ResetDataChangeInfo(); });
    if (FDataChangeKind == dcField && FDataChangeItemIndex == -1) FDataChangeKind = dcRecord;
    if ((FDataChangeKind == dcField || FDataChangeKind == dcRecord) && FDataChangeRecordIndex == -1 &&
        !IsNewItemRecord(-1))
      FDataChangeKind = dcTotal;
    auto* Info = New<TvlDataChangedInfo>();
    Info->Kind = FDataChangeKind;
    Info->ItemIndex = FDataChangeItemIndex;
    Info->RecordIndex = FDataChangeRecordIndex;
    SendInfo(Info);
    DoDataChanged();
  } else if (C & (dccLayout | dccDetail | dccSummary)) {
    SendInfo(New<TvlLayoutChangedInfo>());
  } else if (C & dccUpdateRecord) {
    auto* Info = New<TvlUpdateRecordInfo>();
    Info->RecordIndex = FocusedRecordIndex();
    SendInfo(Info);
    FSearch->Cancel();
  }
  if (C & dccFocus) {
    TvlCustomDataControllerInfo* I = FDataControllerInfo;
    TvlDataFocusingInfo* Prev = I->PrevFocusingInfo();
    if (Prev->RowIndex != I->FocusedRowIndex()) {
      auto* Info = New<TvlFocusedRowChangedInfo>();
      Info->FocusedRowIndex = I->FocusedRowIndex();
      Info->PrevFocusedRowIndex = Prev->RowIndex;
      SendInfo(Info);
    }
    const Integer Rec = I->FocusedRecordIndex();
    if (Prev->RecordIndex >= 0 || Rec >= 0 || Prev->ChangedFlag) {
      auto* Info = New<TvlFocusedRecordChangedInfo>();
      Info->FocusedRecordIndex = Rec;
      Info->PrevFocusedRecordIndex = Prev->RecordIndex;
      Info->FocusedRowIndex = I->FocusedRowIndex();
      Info->PrevFocusedRowIndex = Prev->RowIndex;
      Info->NewItemRowFocusingChanged = Prev->ChangedFlag;
      SendInfo(Info);
      FSearch->Cancel();
    }
    Prev->Assign(I->FocusingInfo());
  }
  if (C & dccSelection) {
    const Integer N = GetSelectedCount();
    Integer Row1 = -1, Row2 = -1;
    Integer Single = N == 1 ? GetSelectedRowIndex(0) : -1;
    if (N <= 1 && FPrevSelCount <= 1) {
      Row1 = FPrevSelCount == 1 ? FPrevSelRow : -1;
      Row2 = Single;
    }
    auto* Info = New<TvlSelectionChangedInfo>();
    Info->CreateEx(Row1, Row2);
    FPrevSelCount = N;
    if (N <= 1) FPrevSelRow = Single;
    SendInfo(Info);
  }
  if (C & dccSearch) SendInfo(New<TvlSearchChangedInfo>());
  if (C & dccBookmark) SendInfo(New<TvlBookmarkChangedInfo>());
  const Boolean Reading = FOwner && FOwner->ComponentState().Contains(csReading);
  if ((C & dccGrouping) && Assigned(FOnGroupingChanged) && !Reading) FOnGroupingChanged(this);
  if ((C & dccSorting) && Assigned(FOnSortingChanged) && !Reading && !FInOnSortingChanged) {
    FInOnSortingChanged = true;
    Finally Clear([&] { FInOnSortingChanged = false; });
    FOnSortingChanged(this);
  }
}

void TvlCustomDataController::DoDataChanged() {
  if (IsOwnerDestroying()) return;
  if (!Assigned(FOnDataChanged) && !Assigned(FOnRecordChanged) && FDataChangedListeners.empty()) return;
  if (IsOwnerLoading()) {
    FDataChangedFlag = true;
    return;
  }
  FDataChangedFlag = false;
  if (!IsPattern() && Assigned(FOnRecordChanged) && (FDataChangeKind == dcField || FDataChangeKind == dcRecord) &&
      (FDataChangeRecordIndex != -1 || IsNewItemRecord(-1)))
    FOnRecordChanged(this, FDataChangeRecordIndex, FDataChangeItemIndex);
  if (Assigned(FOnDataChanged)) FOnDataChanged(this);
  if (IsGridMode() && FProvider->IsLocating()) return;
  // A copy: a listener may remove itself.
  std::vector<TNotifyEventItem> Listeners = FDataChangedListeners;
  for (const TNotifyEventItem& L : Listeners) L.Event(this);
}

void TvlCustomDataController::AddDataChangedListener(TObject* AInstance, const TNotifyEvent& ADataChangedEvent) {
  FDataChangedListeners.push_back({AInstance, ADataChangedEvent});
}

void TvlCustomDataController::RemoveDataChangedListener(TObject* AInstance, const TNotifyEvent& ADataChangedEvent) {
  for (auto It = FDataChangedListeners.begin(); It != FDataChangedListeners.end(); ++It)
    if (It->Instance == AInstance && SameCode(It->Event, ADataChangedEvent)) {
      FDataChangedListeners.erase(It);
      return;
    }
}

void TvlCustomDataController::Loaded() {
  if (FDataChangedFlag) DoDataChanged();
  if (AfterSummaryFlag) {
    AfterSummaryFlag = false;
    FSummary->Recalculate();
  }
}

void TvlCustomDataController::RefreshPrevSelectionInfo() {
  if (FPrevSelCount != 1) return;
  FPrevSelCount = GetSelectedCount();
  FPrevSelRow = FPrevSelCount == 1 ? GetSelectedRowIndex(0) : -1;
}

void TvlCustomDataController::Refresh() {
  BeginUpdate();
  Finally End([&] { EndUpdate(); });
  FDataControllerInfo->Refresh();
}

void TvlCustomDataController::UpdateStructure(Boolean AUpdateFields) {
  BeginFullUpdate();
  Finally End([&] { EndFullUpdate(); });
  if (NeedsStructureUpdate()) {
    if (AUpdateFields) {
      // Under the field lock the preparation waits for its end.
      if (FLockUpdateFieldsCount > 0)
        FUpdateFieldsFlag = true;
      else
        UpdateFields();
    }
    if (!FStructureChanged) LoadStorage();
  }
  FDataControllerInfo->Refresh();
  FStructureRecreated = false;
}

void TvlCustomDataController::LoadStorage() {
  FDataStorage->Clear(FProvider->LockCount() > 0);
  if (IsProviderMode() && !IsPattern()) {
    FProvider->LockDataChanges();
    Finally Unlock([&] { FProvider->UnlockDataChanges(); });
    FDataStorage->BeginLoad();
    Finally EndLoad([&] { FDataStorage->EndLoad(); });
    CustomDataSource()->LoadRecordHandles();
  }
  FDataControllerInfo->Selection()->ResizeEntries(std::min(GetSelectedCount(), RecordCount()));
  CheckBookmarkValid(-1);
  UpdateFocused();
  Change(dccData);
}

void TvlCustomDataController::UpdateFocused() {
  if (FProvider->IsLocating()) return;
  FDataControllerInfo->RefreshFocused();
}

void TvlCustomDataController::RebuildData() {
  BeginFullUpdate();
  Finally End([&] { EndFullUpdate(); });
  FProvider->ResetEditing();
  FDataStorage->Clear(false);
  ClearBookmark();
  FDataStorage->SetStoredValuesOnly(IsProviderMode() || IsGridMode());
  if (!IsProviderMode()) {
    if (FRecordHandlesField) {
      TvlCustomDataField* F = FRecordHandlesField;
      FRecordHandlesField = nullptr;
      Free(F);
    }
  } else if (!FRecordHandlesField) {
    FRecordHandlesField = AddInternalField();
    FRecordHandlesField->SetValueTypeClass(ClassOf<TvlIntegerValueType>());
  }
  FStructureRecreated = true;
  LayoutChanged(0x02);
}

TvlCustomDataSource* TvlCustomDataController::CustomDataSource() const { return FProvider->CurrentDataSource(); }

void TvlCustomDataController::SetCustomDataSource(TvlCustomDataSource* Value) {
  if (Value == CustomDataSource()) return;
  FProvider->SetCustomDataSource(Value);
}

Boolean TvlCustomDataController::IsProviderMode() { return FProvider && FProvider->CustomDataSource() != nullptr; }
Boolean TvlCustomDataController::IsGridMode() { return FProvider && FProvider->IsGridMode(); }
Boolean TvlCustomDataController::IsActiveDataSet() { return FProvider && FProvider->IsActiveDataSet(); }

Boolean TvlCustomDataController::IsOwnerDestroying() {
  return FDestroying || (FOwner && FOwner->ComponentState().Contains(csDestroying));
}

Boolean TvlCustomDataController::IsOwnerLoading() { return FOwner && FOwner->ComponentState().Contains(csLoading); }

Boolean TvlCustomDataController::IsItemSortByText(Integer AItemIndex) {
  return FOptions.Contains(dcoAnsiSort) && GetItemField(AItemIndex)->ValueDef() &&
         GetItemField(AItemIndex)->ValueDef()->IsNeedConversion();
}

void TvlCustomDataController::Assign(TPersistent* Source) {
  auto* S = dynamic_cast<TvlCustomDataController*>(Source);
  if (!S) {
    inherited::Assign(Source);
    return;
  }
  BeginUpdate();
  Finally End([&] { EndUpdate(); });
  SetOptions(S->FOptions);
  FFilter->Assign(S->FFilter, true);
  FSummary->Assign(S->FSummary);
  FOnAfterCancel = S->FOnAfterCancel;
  FOnAfterDelete = S->FOnAfterDelete;
  FOnAfterInsert = S->FOnAfterInsert;
  FOnAfterPost = S->FOnAfterPost;
  FOnBeforeCancel = S->FOnBeforeCancel;
  FOnBeforeDelete = S->FOnBeforeDelete;
  FOnBeforeInsert = S->FOnBeforeInsert;
  FOnBeforePost = S->FOnBeforePost;
  SetOnFilterRecord(S->FOnFilterRecord);
  FOnNewRecord = S->FOnNewRecord;
  FOnCompare = S->FOnCompare;
  FOnDataChanged = S->FOnDataChanged;
  FOnDetailCollapsing = S->FOnDetailCollapsing;
  FOnDetailCollapsed = S->FOnDetailCollapsed;
  FOnDetailExpanding = S->FOnDetailExpanding;
  FOnDetailExpanded = S->FOnDetailExpanded;
  FOnGroupingChanged = S->FOnGroupingChanged;
  FOnRecordChanged = S->FOnRecordChanged;
  FOnSortingChanged = S->FOnSortingChanged;
}

void TvlCustomDataController::SetOptions(TvlDataControllerOptions Value) {
  if (FOptions == Value) return;
  FOptions = Value;
  Refresh();
}

// --- Records and values ---------------------------------------------------------------

void TvlCustomDataController::CheckRecordIndex(Integer ARecordIndex) {
  if (ARecordIndex >= 0 && ARecordIndex < RecordCount()) return;
  if (IsNewItemRecord(ARecordIndex)) return;
  if (ARecordIndex < 0 && ARecordIndex != -1 && ARecordIndex == FProvider->SavedRecordIndex()) return;
  DataError(vlSDataRecordIndexError);
}

Variant TvlCustomDataController::GetValue(Integer ARecordIndex, TvlCustomDataField* AField) {
  if (ARecordIndex >= 0 && IsProviderMode() && !AField->IsInternal()) {
    TvlCustomDataSource* S = CustomDataSource();
    return S->GetValue(S->GetRecordHandleByIndex(ARecordIndex), S->GetItemHandle(AField->Index()));
  }
  if (ARecordIndex >= 0 && IsGridMode() && !AField->IsInternal())
    return FProvider->GetExternalValue(ARecordIndex, AField);
  if (!AField->ValueDef()) return Null();
  return FDataStorage->GetValue(ARecordIndex, AField->ValueDef());
}

String TvlCustomDataController::GetDisplayText(Integer ARecordIndex, TvlCustomDataField* AField) {
  if (ARecordIndex >= 0 && IsProviderMode() && !AField->IsInternal()) {
    TvlCustomDataSource* S = CustomDataSource();
    return S->GetDisplayText(S->GetRecordHandleByIndex(ARecordIndex), S->GetItemHandle(AField->Index()));
  }
  if (ARecordIndex >= 0 && IsGridMode() && !AField->IsInternal())
    return FProvider->GetExternalDisplayText(ARecordIndex, AField);
  if (!AField->ValueDef()) return u"";
  return FDataStorage->GetDisplayText(ARecordIndex, AField->ValueDef());
}

Variant TvlCustomDataController::GetFilterDataValue(Integer ARecordIndex, TvlCustomDataField* AField) {
  return GetValue(ARecordIndex, AField);
}

TvlValueDef* TvlCustomDataController::GetFilterValueDef(TvlCustomDataField* AField) {
  if ((IsProviderMode() || IsGridMode()) && !AField->IsInternal()) return nullptr;
  return AField->ValueDef();
}

TvlValueDef* TvlCustomDataController::GetFilterTextValueDef(TvlCustomDataField* AField) {
  TvlValueDef* Def = GetFilterValueDef(AField);
  if (!Def) return nullptr;
  const TvlValueTypeClass T = Def->ValueTypeClass();
  return T == ClassOf<TvlStringValueType>() || T == ClassOf<TvlWideStringValueType>() ? Def : nullptr;
}

namespace {

// The order keys of one number slot of the given records (AList, or every
// stored record when nil), blanks left out.
template <class TSlot, class F>
void ReadOrderKeys(TvlDataStorage* S, Integer AOffset, Integer N, const Integer* AList, TvlKeyArray& AKeys,
                   TvlIndexArray& ARecords, Boolean& ABlanks, F AKeyOf) {
  AKeys.resize(static_cast<size_t>(N));
  // The records stay unwritten (left empty) while they are 0, 1, 2, ...:
  // no list and no blank yet.
  Boolean Identity = !AList;
  ARecords.resize(Identity ? 0 : static_cast<size_t>(N));
  UInt64* K = AKeys.data();
  Integer* Rs = ARecords.data();
  size_t Out = 0;
  for (Integer I = 0; I < N; ++I) {
    const Integer R = AList ? AList[I] : I;
    const Byte* B = S->StoredBuffer(R);
    if (!B || !B[AOffset]) {
      ABlanks = true;
      if (Identity) {
        Identity = false;
        ARecords.resize(static_cast<size_t>(N));
        Rs = ARecords.data();
        std::iota(Rs, Rs + Out, 0);
      }
      continue;
    }
    TSlot V;
    std::memcpy(&V, B + AOffset + 1, sizeof V);
    K[Out] = AKeyOf(V);
    if (!Identity) Rs[Out] = R;
    ++Out;
  }
  AKeys.resize(Out);
  if (!Identity) ARecords.resize(Out);
}

}  // namespace

Boolean TvlCustomDataController::GetFilterNumberKeys(TvlCustomDataField* AField, Boolean AFiltered,
                                                     TvlKeyArray& AKeys, TvlIndexArray& ARecords,
                                                     Boolean& ABlanks) {
  TvlValueDef* Def = AField ? GetFilterValueDef(AField) : nullptr;
  if (!Def) return false;
  TvlDataStorage* S = FDataStorage;
  const Integer Off = S->StoredSlotOffset(Def);
  if (Off < 0) return false;
  const Integer N = AFiltered ? FilteredRecordCount() : RecordCount();
  if (N < 0 || (!AFiltered && N > S->RecordCount())) return false;
  TvlIndexArray Filtered;
  if (AFiltered) {
    Filtered.resize(static_cast<size_t>(N));
    for (Integer I = 0; I < N; ++I) {
      Filtered[I] = GetRecordListRecordIndex(I);
      if (Filtered[I] < 0 || Filtered[I] >= S->RecordCount()) return false;
    }
  }
  const Integer* List = AFiltered ? Filtered.data() : nullptr;
  const TvlValueTypeClass T = Def->ValueTypeClass();
  auto Int = [](auto V) { return vlIntegerOrderKey(Int64(V)); };
  if (T == ClassOf<TvlIntegerValueType>())
    ReadOrderKeys<Integer>(S, Off, N, List, AKeys, ARecords, ABlanks, Int);
  else if (T == ClassOf<TvlSmallintValueType>())
    ReadOrderKeys<SmallInt>(S, Off, N, List, AKeys, ARecords, ABlanks, Int);
  else if (T == ClassOf<TvlWordValueType>())
    ReadOrderKeys<Word>(S, Off, N, List, AKeys, ARecords, ABlanks, Int);
  else if (T == ClassOf<TvlLargeIntValueType>())
    ReadOrderKeys<Int64>(S, Off, N, List, AKeys, ARecords, ABlanks, Int);
  else if (T == ClassOf<TvlBooleanValueType>())
    // True = -1, as the variants compare it.
    ReadOrderKeys<Byte>(S, Off, N, List, AKeys, ARecords, ABlanks,
                        [](Byte V) { return vlIntegerOrderKey(V != 0 ? -1 : 0); });
  else if (T == ClassOf<TvlFloatValueType>() || T == ClassOf<TvlDateTimeValueType>())
    ReadOrderKeys<Double>(S, Off, N, List, AKeys, ARecords, ABlanks, [](Double V) { return vlFloatOrderKey(V); });
  else
    return false;
  return true;
}

Variant TvlCustomDataController::GetValue(Integer ARecordIndex, Integer AItemIndex) {
  CheckRecordIndex(ARecordIndex);
  return GetValue(ARecordIndex, GetItemField(AItemIndex));
}

String TvlCustomDataController::GetDisplayText(Integer ARecordIndex, Integer AItemIndex) {
  CheckRecordIndex(ARecordIndex);
  return GetDisplayText(ARecordIndex, GetItemField(AItemIndex));
}

Variant TvlCustomDataController::GetRowValue(const TvlRowInfo& ARowInfo, Integer AItemIndex) {
  TvlGroupingFieldList* G = FDataControllerInfo->GroupingFieldList();
  if (ARowInfo.Level < G->Count() && !IsNewItemRecord(ARowInfo.RecordIndex))
    return GetValue(ARowInfo.RecordIndex, G->Items(ARowInfo.Level).Field);
  return GetValue(ARowInfo.RecordIndex, AItemIndex);
}

void TvlCustomDataController::SetValue(Integer ARecordIndex, Integer AItemIndex, const Variant& Value) {
  if (IsGridMode()) return;
  CheckRecordIndex(ARecordIndex);
  TvlCustomDataField* F = GetItemField(AItemIndex);
  if (ARecordIndex >= 0 && IsProviderMode()) {
    TvlCustomDataSource* S = CustomDataSource();
    S->SetValue(S->GetRecordHandleByIndex(ARecordIndex), S->GetItemHandle(AItemIndex), Value);
  } else if (F->ValueDef()) {
    FDataStorage->SetValue(ARecordIndex, F->ValueDef(), Value);
  } else {
    return;
  }
  DataChanged(dcField, AItemIndex, ARecordIndex);
}

void TvlCustomDataController::SetDisplayText(Integer ARecordIndex, Integer AItemIndex, const String& Value) {
  if (IsGridMode()) return;
  CheckRecordIndex(ARecordIndex);
  TvlCustomDataField* F = GetItemField(AItemIndex);
  if (ARecordIndex >= 0 && IsProviderMode())
    FProvider->SetDisplayText(ARecordIndex, F, Value);
  else if (F->ValueDef())
    FDataStorage->SetDisplayText(ARecordIndex, F->ValueDef(), Value);
  else
    return;
  DataChanged(dcField, AItemIndex, ARecordIndex);
}

void TvlCustomDataController::SetRecordCount(Integer Value) {
  if (IsGridMode()) return;
  Value = std::max(0, Value);
  const Integer Old = RecordCount();
  if (Value == Old) return;
  if (IsProviderMode()) {
    CustomDataSource()->SetRecordCount(Value);
    return;
  }
  FDataStorage->SetRecordCount(Value);
  FDataControllerInfo->ValidateSelection();
  CheckBookmarkValid(-1);
  CheckEditingRecord(-1);
  DataChanged(Value > Old ? dcNew : dcDeleted, -1, -1);
}

Integer TvlCustomDataController::AppendRecord() {
  if (IsProviderMode()) {
    TvlCustomDataSource* S = CustomDataSource();
    return S->AppendHandleRecord(S->AppendRecord());
  }
  Integer R = FDataStorage->AppendRecord();
  DataChanged(dcNew, -1, -1);
  return R;
}

Integer TvlCustomDataController::InsertRecord(Integer ARecordIndex) {
  if (ARecordIndex < 0 || ARecordIndex > RecordCount()) DataError(vlSDataRecordIndexError);
  if (IsProviderMode()) {
    // The custom data source makes the record before the one at the index
    // (or at its end); the stored record holds its handle.
    TvlCustomDataSource* S = CustomDataSource();
    const TvlCustomDataSource::TRecordHandle H =
        ARecordIndex < RecordCount() ? S->InsertRecord(S->GetRecordHandleByIndex(ARecordIndex)) : S->AppendRecord();
    FDataStorage->InsertRecord(ARecordIndex);
    if (TvlCustomDataField* F = RecordHandlesField())
      FDataStorage->SetValue(ARecordIndex, F->ValueDef(), static_cast<Int64>(H));
    RecordInserted(ARecordIndex);
    return ARecordIndex;
  }
  FDataStorage->InsertRecord(ARecordIndex);
  RecordInserted(ARecordIndex);
  DataChanged(dcNew, -1, -1);
  return ARecordIndex;
}

void TvlCustomDataController::DeleteRecord(Integer ARecordIndex) {
  CheckRecordIndex(ARecordIndex);
  if (ARecordIndex == FProvider->EditingRecordIndex()) FProvider->ResetEditing();
  if (ARecordIndex < 0) {
    // An internal record: no stored record, selection entry or bookmark moves.
    FDataStorage->DeleteRecord(ARecordIndex);
    if (ARecordIndex == FNewItemRecordIndex) FNewItemRecordIndex = 0;
    DataChanged(dcDeleted, -1, -1);
    return;
  }
  if (IsProviderMode()) {
    TvlCustomDataSource* S = CustomDataSource();
    S->DeleteRecord(S->GetRecordHandleByIndex(ARecordIndex));
  }
  FDataStorage->DeleteRecord(ARecordIndex);
  RecordDeleted(ARecordIndex);
  // Selected records after the deleted one move down by one.
  TvlDataSelection* Sel = FDataControllerInfo->Selection();
  for (Integer I = Sel->Count() - 1; I >= 0; --I) {
    TvlSelectionEntry& E = Sel->Items(I);
    if (E.Level < 0) continue;
    if (E.RecordIndex == ARecordIndex)
      Sel->Delete(I);
    else if (E.RecordIndex > ARecordIndex)
      --E.RecordIndex;
  }
  CheckBookmarkValid(ARecordIndex);
  if (FBookmarkRecordIndex > ARecordIndex) --FBookmarkRecordIndex;
  DataChanged(dcDeleted, -1, -1);
}

// --- Rows, focus and navigation -----------------------------------------------------------

Integer TvlCustomDataController::GetRowCount() const { return FDataControllerInfo->GetRowCount(); }
TvlRowInfo TvlCustomDataController::GetRowInfo(Integer ARowIndex) const {
  return FDataControllerInfo->GetRowInfo(ARowIndex);
}
Integer TvlCustomDataController::GetRowIndexByRecordIndex(Integer ARecordIndex, Boolean AMakeVisible) {
  CheckRecordIndex(ARecordIndex);
  return FDataControllerInfo->GetRowIndexByRecordIndex(ARecordIndex, AMakeVisible);
}
Integer TvlCustomDataController::FocusedRowIndex() const { return FDataControllerInfo->FocusedRowIndex(); }
Integer TvlCustomDataController::FocusedRecordIndex() const { return FDataControllerInfo->FocusedRecordIndex(); }
Integer TvlCustomDataController::FilteredRecordCount() { return FDataControllerInfo->RecordListCount(); }
Integer TvlCustomDataController::GetRecordListRecordIndex(Integer AIndex) {
  return FDataControllerInfo->GetInternalRecordIndex(AIndex);
}

Integer TvlCustomDataController::GetSyncFocusedRecordIndex() {
  if (FProvider->IsSyncMode() && FProvider->IsActiveDataSet()) return FProvider->GetCurrentRecordIndex();
  return FocusedRecordIndex();
}

Boolean TvlCustomDataController::ChangeFocusedRowIndex(Integer ARowIndex) {
  if (ARowIndex != FocusedRowIndex()) {
    if (FProvider->IsSyncMode() && !FProvider->IsInserting() && !CanChangeFocusedRow()) return false;
    // Pending edits of the details are posted before their master row changes.
    CheckDetailsBrowseMode();
  }
  const Integer Prev = FocusedRowIndex();
  FDataControllerInfo->SetFocusedRowIndex(ARowIndex);
  if (FocusedRowIndex() == Prev) return true;
  if (FProvider->IsSyncMode() && IsDetailsFocusSynchronized() && FocusedRecordIndex() >= 0) {
    FInFocusDetails = true;
    Finally Clear([&] { FInFocusDetails = false; });
    FocusDetails(FocusedRecordIndex());
  }
  return true;
}

Boolean TvlCustomDataController::CheckDetailsBrowseMode() {
  if (!FRelations || FRelations->Count() == 0) return true;
  std::vector<TvlCustomDataController*> Details;
  for (Integer R = 0; R < RecordCount(); ++R)
    for (Integer I = 0; I < FRelations->Count(); ++I)
      if (TvlCustomDataController* D = ExistingDetailDataController(R, I)) Details.push_back(D);
  for (TvlCustomDataController* D : Details) D->CheckBrowseMode();
  return true;
}

Boolean TvlCustomDataController::ChangeFocusedRecordIndex(Integer ARecordIndex) {
  Integer Row = ARecordIndex < 0 ? -1 : FDataControllerInfo->GetRowIndexByRecordIndex(ARecordIndex, true);
  return ChangeFocusedRowIndex(Row);
}

Boolean TvlCustomDataController::CanFocusRecord(Integer ARecordIndex) {
  if (!IsActiveDataSet() && FProvider->IsEditing() && ARecordIndex != FProvider->EditingRecordIndex()) {
    // An untouched insert is cancelled by the post: the records after its
    // stored record move up, and the move follows the record it named.
    const Integer Inserted = FProvider->IsInserting() ? FProvider->EditingRecordIndex() : -1;
    const Integer Count = RecordCount();
    Post(false);
    if (Inserted >= 0 && Inserted < ARecordIndex && RecordCount() == Count - 1)
      FRefocusRecordIndex = ARecordIndex - 1;
  }
  return true;
}

// In grid mode the rows are a window of the source: the provider moves it.
void TvlCustomDataController::GotoFirst() {
  if (IsGridMode()) return FProvider->First();
  ChangeFocusedRowIndex(0);
}
void TvlCustomDataController::GotoLast() {
  if (IsGridMode()) return FProvider->Last();
  ChangeFocusedRowIndex(GetRowCount() - 1);
}
void TvlCustomDataController::GotoNext() {
  if (IsGridMode()) return FProvider->Next();
  if (FocusedRowIndex() + 1 < GetRowCount()) ChangeFocusedRowIndex(FocusedRowIndex() + 1);
}
void TvlCustomDataController::GotoPrev() {
  if (IsGridMode()) return FProvider->Prev();
  ChangeFocusedRowIndex(std::max(0, FocusedRowIndex() - 1));
}
void TvlCustomDataController::MoveBy(Integer ADistance) {
  if (IsGridMode()) return FProvider->MoveBy(ADistance);
  ChangeFocusedRowIndex(std::max(0, FocusedRowIndex() + ADistance));
}
Boolean TvlCustomDataController::IsBOF() const {
  if (FProvider->IsGridMode()) return FProvider->IsBOF();
  return GetRowCount() == 0 || FocusedRowIndex() == 0;
}
Boolean TvlCustomDataController::IsEOF() const {
  if (FProvider->IsGridMode()) return FProvider->IsEOF();
  return GetRowCount() == 0 || FocusedRowIndex() == GetRowCount() - 1;
}

Boolean TvlCustomDataController::SaveBookmarkData() {
  Integer R = FocusedRecordIndex();
  if (R == FBookmarkRecordIndex) return false;
  FBookmarkRecordIndex = R;
  return true;
}

void TvlCustomDataController::SaveBookmark() {
  if (SaveBookmarkData()) Change(dccBookmark);
}

void TvlCustomDataController::ClearBookmark() {
  Boolean Had = IsBookmarkAvailable();
  ClearBookmarkData();
  if (Had) Change(dccBookmark);
}

void TvlCustomDataController::GotoBookmark() {
  if (IsBookmarkAvailable()) GotoBookmarkData();
}

Boolean TvlCustomDataController::IsBookmarkRow(Integer ARowIndex) {
  return IsBookmarkAvailable() && ARowIndex >= 0 && ARowIndex < GetRowCount() &&
         GetRowInfo(ARowIndex).RecordIndex == FBookmarkRecordIndex;
}

void TvlCustomDataController::CheckBookmarkValid(Integer ARecordIndex) {
  if (FBookmarkRecordIndex == -1 || !FDataControllerInfo) return;
  Boolean Invalid = (ARecordIndex != -1 && ARecordIndex == FBookmarkRecordIndex) ||
                    FBookmarkRecordIndex >= RecordCount() ||
                    (FDataControllerInfo->InfoCalculation() &&
                     FDataControllerInfo->FindRecordListIndex(FBookmarkRecordIndex) < 0);
  if (!Invalid) return;
  FBookmarkRecordIndex = -1;
  Change(dccBookmark);
}

// --- Sorting and grouping ----------------------------------------------------------------

void TvlCustomDataController::PostEditingData() { FProvider->PostEditingData(); }

void TvlCustomDataController::PostPendingEdit() {
  if (FProvider->IsEditing()) Post(false);
}

void TvlCustomDataController::ChangeSorting(Integer AItemIndex, TvlDataSortOrder ASortOrder) {
  TvlCustomDataField* F = GetItemField(AItemIndex);
  if (FDataControllerInfo->SortingFieldList()->SortOrderByField(F) == ASortOrder) return;
  PostPendingEdit();
  SortingChangedFlag = true;
  FDataControllerInfo->ChangeSorting(F, ASortOrder);
}

void TvlCustomDataController::ClearSorting(Boolean AKeepGroupedItems) {
  FDataControllerInfo->ClearSorting(AKeepGroupedItems);
}

TvlDataSortOrder TvlCustomDataController::GetItemSortOrder(Integer AItemIndex) {
  TvlCustomDataField* F = GetItemField(AItemIndex);
  TvlDataSortOrder O = FDataControllerInfo->SortingFieldList()->SortOrderByField(F);
  return O != soNone ? O : FDataControllerInfo->GroupingFieldList()->SortOrderByField(F);
}

void TvlCustomDataController::ChangeGrouping(Integer AItemIndex, Integer AGroupIndex) {
  TvlCustomDataField* F = GetItemField(AItemIndex);
  if (FDataControllerInfo->GroupingFieldList()->GroupIndexByField(F) == AGroupIndex) return;
  PostPendingEdit();
  GroupingChangedFlag = true;
  FDataControllerInfo->ChangeGrouping(F, AGroupIndex);
}

void TvlCustomDataController::ClearGrouping() {
  if (FDataControllerInfo->GroupingFieldList()->Count() > 0) {
    PostPendingEdit();
    GroupingChangedFlag = true;
  }
  FDataControllerInfo->ClearGrouping();
}

Integer TvlCustomDataController::GroupingItemCount() const {
  return FDataControllerInfo->GroupingFieldList()->Count();
}

void TvlCustomDataController::ChangeExpanding(Integer ARowIndex, Boolean AExpanded, Boolean ARecursive) {
  FDataControllerInfo->ChangeExpanding(ARowIndex, AExpanded, ARecursive);
}
void TvlCustomDataController::FullCollapse() { FDataControllerInfo->FullCollapse(); }
void TvlCustomDataController::FullExpand() { FDataControllerInfo->FullExpand(); }

void TvlCustomDataController::SetSortingBySummaryDataItemIndex(Integer Value) {
  if (Value == FSortingBySummaryDataItemIndex) return;
  if (Value != -1) CheckItemRange(Value);
  FSortingBySummaryDataItemIndex = Value;
  if (IsOwnerDestroying()) return;
  SortingBySummaryChangedFlag = true;
  Change(dccSorting);
}

Boolean TvlCustomDataController::NeedsAnsiConversion(TvlCustomDataField* AField) {
  return (FOptions.Contains(dcoAnsiSort) || FOptions.Contains(dcoCaseInsensitive)) && AField->ValueDef() &&
         AField->ValueDef()->IsNeedConversion();
}

Boolean TvlCustomDataController::NeedsValueComparison(TvlCustomDataField* AField) {
  if (AField->NeedConversionFlag() != 0) return AField->NeedConversionFlag() > 0;
  if (AField->NeedConversion() || NeedsAnsiConversion(AField) || IsSortByDisplayText(AField)) return true;
  // A custom data source that gives compare information is compared by its values' types.
  return IsProviderMode() && !CustomDataSource()->IsCompareInfoSupported();
}

Variant TvlCustomDataController::GetComparedValue(Integer ARecordIndex, TvlCustomDataField* AField) {
  if (AField->NeedConversionFlag() == 2) return Variant(GetDisplayText(ARecordIndex, AField));
  return GetValue(ARecordIndex, AField);
}

Integer TvlCustomDataController::CompareByField(Integer ARecordIndex1, Integer ARecordIndex2,
                                                TvlCustomDataField* AField, TvlDataControllerComparisonMode AMode) {
  if ((Assigned(FOnCompare) && !AField->IsInternal()) || NeedsValueComparison(AField)) {
    if (!Assigned(FOnCompare) && IsProviderMode() && CustomDataSource()->IsCompareRecordsSupported() &&
        ARecordIndex1 >= 0 && ARecordIndex2 >= 0)
      return FProvider->CustomCompare(ARecordIndex1, ARecordIndex2, AField);
    Variant V1 = GetComparedValue(ARecordIndex1, AField);
    Variant V2 = GetComparedValue(ARecordIndex2, AField);
    if (Assigned(FOnCompare)) {
      Integer Compare = 0;
      FOnCompare(this, ARecordIndex1, ARecordIndex2, AField->Index(), V1, V2, Compare);
      return Compare;
    }
    if (VarIsStr(V1) && VarIsStr(V2)) {
      String S1 = VarToStr(V1), S2 = VarToStr(V2);
      if (FOptions.Contains(dcoAnsiSort))
        return FOptions.Contains(dcoCaseInsensitive) ? AnsiCompareText(S1, S2) : AnsiCompareStr(S1, S2);
      if (FOptions.Contains(dcoCaseInsensitive)) return CompareStr(AnsiUpperCase(S1), AnsiUpperCase(S2));
    }
    return vlCompareVariants(V1, V2);
  }
  if (!AField->ValueDef()) return 0;
  if (IsProviderMode()) return FProvider->CompareRecords(ARecordIndex1, ARecordIndex2, AField);
  return FDataStorage->CompareRecords(ARecordIndex1, ARecordIndex2, AField->ValueDef());
}

// --- Selection ----------------------------------------------------------------------

void TvlCustomDataController::SetMultiSelect(Boolean Value) {
  if (FMultiSelect == Value) return;
  FMultiSelect = Value;
  FFocusedSelected = true;
  BeginUpdate();
  {
    Finally End([&] { EndUpdate(); });
    if (!Value)
      FDataControllerInfo->Selection()->ClearAll();
    else if (FocusedRowIndex() >= 0)
      FDataControllerInfo->ChangeRowSelection(FocusedRowIndex(), true);
  }
  if (FSummary->FollowsSelection()) FSummary->Recalculate();
}

Integer TvlCustomDataController::GetSelectedCount() const {
  if (!FMultiSelect) return FFocusedSelected && FocusedRowIndex() >= 0 ? 1 : 0;
  return FDataControllerInfo->GetSelectedCount();
}

Integer TvlCustomDataController::GetSelectedRowIndex(Integer AIndex) const {
  if (!FMultiSelect) return FFocusedSelected && FocusedRowIndex() >= 0 && AIndex == 0 ? FocusedRowIndex() : -1;
  return FDataControllerInfo->GetSelectedRowIndex(AIndex);
}

Boolean TvlCustomDataController::IsRowSelected(Integer ARowIndex) const {
  if (!FMultiSelect) return FFocusedSelected && ARowIndex >= 0 && ARowIndex == FocusedRowIndex();
  return FDataControllerInfo->IsRowSelected(ARowIndex);
}

void TvlCustomDataController::ChangeRowSelection(Integer ARowIndex, Boolean ASelection) {
  if (FMultiSelect) FDataControllerInfo->ChangeRowSelection(ARowIndex, ASelection);
}

void TvlCustomDataController::SelectRows(Integer AStart, Integer AEnd) {
  if (!FMultiSelect) return;
  if (AEnd < AStart) std::swap(AStart, AEnd);
  BeginUpdate();
  Finally End([&] { EndUpdate(); });
  for (Integer R = AStart; R <= AEnd; ++R) FDataControllerInfo->ChangeRowSelection(R, true);
}

void TvlCustomDataController::SelectAll() {
  if (GetRowCount() > 0) SelectRows(0, GetRowCount() - 1);
}

void TvlCustomDataController::ClearSelection() { FDataControllerInfo->ClearSelection(); }

void TvlCustomDataController::SetSelectionAnchor(Integer ARowIndex) {
  FDataControllerInfo->CheckRowIndex(ARowIndex);
  FDataControllerInfo->Selection()->SetAnchorRowIndex(ARowIndex);
}

void TvlCustomDataController::SelectFromAnchor(Integer ARowIndex, Boolean AKeepSelection) {
  Integer Anchor = FDataControllerInfo->Selection()->AnchorRowIndex();
  if (Anchor == -1) return;
  BeginUpdate();
  Finally End([&] { EndUpdate(); });
  if (!AKeepSelection) FDataControllerInfo->Selection()->Clear();
  SelectRows(Anchor, ARowIndex);
}

void TvlCustomDataController::SyncSelected(Boolean ASelected) {
  if (FMultiSelect || FFocusedSelected == ASelected) return;
  FFocusedSelected = ASelected;
  if (FocusedRowIndex() >= 0) {
    FPrevSelCount = 1;
    FPrevSelRow = FocusedRowIndex();
    Change(dccSelection);
  }
}

void TvlCustomDataController::SyncSelectionFocusedRecord() {
  if (!FMultiSelect) return;
  if (FocusedRowIndex() < 0) {
    ClearSelection();
    return;
  }
  SetSelectionAnchor(FocusedRowIndex());
  SelectFromAnchor(FocusedRowIndex(), false);
}

void TvlCustomDataController::CheckFocusedSelected() {
  if (!FMultiSelect) return;
  BeginUpdate();
  Finally End([&] { EndUpdate(); });
  FDataControllerInfo->Selection()->Clear();
  if (FocusedRowIndex() >= 0) FDataControllerInfo->ChangeRowSelection(FocusedRowIndex(), true);
}

// --- Editing ------------------------------------------------------------------------

Byte TvlCustomDataController::CurrentEditState() {
  Byte S = FProvider->IsInserting() ? dceInsert : (FProvider->IsEditing() ? dceEdit : 0);
  if (S) {
    if (FProvider->IsChanging()) S |= dceChanging;
    if (FProvider->IsModified()) S |= dceModified;
  }
  return S;
}

Byte TvlCustomDataController::AllowedEditOperations() {
  Byte Result = 0;
  if (FProvider->AppendAllowed()) Result |= dceoAppend;
  if (FProvider->DeleteAllowed()) Result |= dceoDelete;
  if (FProvider->CanModify()) Result |= dceoEdit;
  if (FProvider->InsertAllowed()) Result |= dceoInsert;
  if (!FProvider->IsActiveDataSet() || FProvider->IsSyncMode()) Result |= dceoShowEdit;
  return Result;
}

Boolean TvlCustomDataController::IsEditing() {
  return (EditState() & (dceInsert | dceEdit)) && FProvider->EditingRecordIndex() != vlNoEditingRecordIndex;
}

Integer TvlCustomDataController::GetActiveRecordIndex() {
  if (NewItemRowFocused()) return NewItemRecordIndex();
  Integer R = FocusedRecordIndex();
  return R >= 0 ? R : vlNoEditingRecordIndex;
}

Integer TvlCustomDataController::NewItemRecordIndex() {
  if (FNewItemRecordIndex == 0) FNewItemRecordIndex = FDataStorage->AddInternalRecord();
  return FNewItemRecordIndex;
}

Boolean TvlCustomDataController::NewItemRowFocused() const {
  return FNewItemRowFocused && FUseNewItemRowForEditing && FocusedRecordIndex() < 0;
}

void TvlCustomDataController::FocusNewItemRow(Boolean Value) {
  if (Value == NewItemRowFocused()) return;
  // Leaving the row posts its values first, outside the update, so that the
  // appended record is in the rows when the focus moves to it.
  if (!Value && !IsOwnerDestroying()) Post(false);
  BeginUpdate();
  Finally End([&] { EndUpdate(); });
  if (Value) ChangeFocusedRowIndex(-1);
  FDataControllerInfo->FocusedRecordChanged(true);
  FNewItemRowFocused = Value;
}

void TvlCustomDataController::SetNewItemRowFocused(Boolean Value) {
  const Boolean Changed = Value != NewItemRowFocused();
  FocusNewItemRow(Value);
  if (Changed && FOptions.Contains(dcoInsertOnNewItemRowFocusing) && NewItemRowFocused() && !FProvider->IsInserting())
    Insert();
}

void TvlCustomDataController::SetUseNewItemRowForEditing(Boolean Value) {
  if (FUseNewItemRowForEditing == Value) return;
  Cancel();
  ClearSelection();
  FUseNewItemRowForEditing = Value;
  Change(dccData);
}

Integer TvlCustomDataController::EditingRecordIndex() {
  Integer R = FProvider->EditingRecordIndex();
  return R != vlNoEditingRecordIndex ? R : GetActiveRecordIndex();
}

void TvlCustomDataController::Append() {
  if (FProvider->AppendAllowed()) FProvider->Append();
}
void TvlCustomDataController::Insert() {
  if (FProvider->InsertAllowed()) FProvider->Insert();
}
void TvlCustomDataController::Edit() {
  if (FProvider->CanModify()) FProvider->Edit();
}

void TvlCustomDataController::Post(Boolean AForcePost) {
  CheckFocusingAfterFilterNeeded = true;
  // A handler may free the controller during the post; the link tells.
  TvlDataListenerLink* Link = AddListenerLink();
  Finally Release([&] {
    if (TvlCustomDataController* DC = Link->Ref) {
      DC->FProvider->ResetInsertedRecordIndex();
      DC->RemoveListenerLink(Link);
    }
    delete Link;
  });
  if (!FProvider->IsEditing()) return;
  FProvider->Post(AForcePost);
  // A record posted from the new-item row gets the focus, unless the post runs
  // because the focus is moving to another row.
  if (Link->Ref && !FDataControllerInfo->InCanFocusedRowChanging() && FProvider->InsertedRecordIndex() >= 0 &&
      FProvider->InsertedRecordIndex() < RecordCount())
    ChangeFocusedRecordIndex(FProvider->InsertedRecordIndex());
}

void TvlCustomDataController::Cancel() {
  if (FInCancel) return;
  FInCancel = true;
  Finally Clear([&] { FInCancel = false; });
  Integer Row = FocusedRowIndex();
  if (FProvider->IsEditing()) FProvider->Cancel();
  Row = std::min(Row, GetRowCount() - 1);
  // Asked while the focus is moving (a pending edit checked out of the way),
  // the move goes on to its own target.
  if (!FDataControllerInfo->InCanFocusedRowChanging()) ChangeFocusedRowIndex(Row);
}

Boolean TvlCustomDataController::CanInitEditing(Integer AItemIndex) {
  CheckItemRange(AItemIndex);
  // A source that cannot be modified still lets unbound items (values of the controller's own) be edited.
  if (!FProvider->CanModify() && !GetItemField(AItemIndex)->IsUnbound()) return false;
  // A field that refuses modification (a data-set item without its data-set field) takes no edit.
  if (!GetItemField(AItemIndex)->CanModify(GetItemValueSource(AItemIndex))) return false;
  Integer R = EditingRecordIndex();
  if (R == vlNoEditingRecordIndex) return false;
  return FProvider->CanInitEditing(R);
}

Variant TvlCustomDataController::GetEditValue(Integer AItemIndex, TvlDataEditValueSource AEditValueSource) {
  TvlCustomDataField* F = GetItemField(AItemIndex);
  if (FUseNewItemRowForEditing && NewItemRowFocused() && !FProvider->IsEditing()) return Null();
  return FProvider->GetEditValue(EditingRecordIndex(), F, AEditValueSource);
}

Boolean TvlCustomDataController::SetEditValue(Integer AItemIndex, const Variant& AValue,
                                              TvlDataEditValueSource AEditValueSource) {
  if (!CanInitEditing(AItemIndex)) return false;
  Boolean Result = FProvider->SetEditValue(EditingRecordIndex(), GetItemField(AItemIndex), AValue, AEditValueSource);
  if (Result && IsImmediatePost()) Post(false);
  return Result;
}

void TvlCustomDataController::FocusNearestRecord() {
  if (NearestRecordIndex == -1) {
    if (LockCount() == 0 && FocusedRecordIndex() < 0 && GetRowCount() > 0)
      ChangeFocusedRowIndex(GetRowCount() - 1);
  } else if (NearestRecordIndex < RecordCount()) {
    ChangeFocusedRecordIndex(NearestRecordIndex);
  }
}

void TvlCustomDataController::DeleteFocused() {
  if (FocusedRowIndex() < 0 || !FProvider->DeleteAllowed()) return;
  FProvider->FindNearestRecord();
  Finally End([&] { FProvider->ResetNearestRecord(); });
  TvlRowInfo Row = GetRowInfo(FocusedRowIndex());
  if (FDataControllerInfo->IsGrouped() && Row.Level < GroupingItemCount()) {
    std::vector<Integer> List;
    FGroups->LoadRecordIndexes(List, FDataControllerInfo->DataGroups()->GetIndexByRowIndex(FocusedRowIndex()));
    DeleteRecordList(List);
  } else {
    const Integer Focused = FocusedRecordIndex();
    if (NearestRecordIndex >= Focused) --NearestRecordIndex;
    FProvider->Delete();
  }
  FDataControllerInfo->ClearSelection();
}

void TvlCustomDataController::DeleteSelection() {
  if (GetSelectedCount() == 0 || !FProvider->DeleteAllowed()) return;
  FProvider->FindNearestRecord();
  Finally End([&] { FProvider->ResetNearestRecord(); });
  if (!FMultiSelect) {
    const Integer Focused = FocusedRecordIndex();
    if (NearestRecordIndex >= Focused) --NearestRecordIndex;
    FProvider->Delete();
    return;
  }
  FInDeleteSelection = true;
  Finally Clear([&] { FInDeleteSelection = false; });
  FProvider->DeleteSelection();
}

void TvlCustomDataController::DeleteRecordList(std::vector<Integer> AList) {
  std::sort(AList.begin(), AList.end());
  AList.erase(std::unique(AList.begin(), AList.end()), AList.end());
  if (NearestRecordIndex != -1) {
    Integer Before = static_cast<Integer>(std::upper_bound(AList.begin(), AList.end(), NearestRecordIndex) - AList.begin());
    NearestRecordIndex -= Before;
  }
  FProvider->DeleteRecords(AList);
}

void TvlCustomDataController::CopyRecordValues(Integer AFromRecordIndex, Integer AToRecordIndex) {
  for (Integer I = 0; I < FFields->Count(); ++I) {
    TvlCustomDataField* F = FFields->Items(I);
    if (!F->ValueDef() || F->IsInternal()) continue;
    // A stored record of provider or grid mode is read where its values live.
    Variant V = GetValue(AFromRecordIndex, F);
    // A text-stored value carries its display text along.
    const Boolean Text = F->ValueDef()->TextStored();
    if (AToRecordIndex >= 0 && IsProviderMode()) {
      TvlCustomDataSource* S = CustomDataSource();
      S->SetValue(S->GetRecordHandleByIndex(AToRecordIndex), S->GetItemHandle(F->Index()), V);
      if (Text) FProvider->SetDisplayText(AToRecordIndex, F, GetDisplayText(AFromRecordIndex, F));
    } else {
      FDataStorage->SetValue(AToRecordIndex, F->ValueDef(), V);
      if (Text) FDataStorage->SetDisplayText(AToRecordIndex, F->ValueDef(), GetDisplayText(AFromRecordIndex, F));
    }
  }
  if (AToRecordIndex >= 0) DataChanged(dcRecord, -1, -1);
}

void TvlCustomDataController::CheckEditingRecord(Integer ARecordIndex) {
  Integer E = FProvider->EditingRecordIndex();
  if (E == vlNoEditingRecordIndex) return;
  if ((ARecordIndex >= 0 && ARecordIndex <= E) || E >= RecordCount()) FProvider->ResetEditing();
}

// --- Filtering ------------------------------------------------------------------------

Boolean TvlCustomDataController::DoFilterRecord(Integer ARecordIndex) {
  Boolean Accept = true;
  if (Assigned(FOnFilterRecord)) FOnFilterRecord(this, ARecordIndex, Accept);
  return Accept;
}

void TvlCustomDataController::SetOnFilterRecord(const TvlDataFilterRecordEvent& Value) {
  if (FOnFilterRecord == Value) return;
  FOnFilterRecord = Value;
  FilterChanged();
}

void TvlCustomDataController::FilterChanged() {
  if (FDestroying) return;
  CheckFocusingAfterFilterNeeded = true;
  Cancel();
  Refresh();
  CheckBookmarkValid(-1);
  RefreshPrevSelectionInfo();
}

Integer TvlCustomDataController::SetIncrementalFilter(Integer AItemIndex, const String& AText) {
  FIncrementalFilterField = GetItemField(AItemIndex);
  FIncrementalFilterText = AText;
  Refresh();
  return FilteredRecordCount() > 0 ? FDataControllerInfo->GetInternalRecordIndex(0) : -1;
}

void TvlCustomDataController::ResetIncrementalFilter() {
  Boolean Was = IsIncrementalFilter();
  FIncrementalFilterField = nullptr;
  FIncrementalFilterText.clear();
  if (Was && !IsOwnerDestroying()) Refresh();
}

Boolean TvlCustomDataController::IsIncrementalFilterMatch(Integer ARecordIndex) {
  return vlMatchSearchText(GetDisplayText(ARecordIndex, FIncrementalFilterField), FIncrementalFilterText, true);
}

Integer TvlCustomDataController::FindRecordIndexByText(Integer AStartRecordIndex, Integer AItemIndex,
                                                       const String& AText, Boolean APartialCompare,
                                                       Boolean ACircular, Boolean AForward) {
  CheckItemRange(AItemIndex);
  const Integer N = FilteredRecordCount();
  if (AStartRecordIndex < 0 || AStartRecordIndex >= N) return -1;
  auto Scan = [&](Integer From, Integer To) {
    for (Integer P = From; AForward ? P <= To : P >= To; P += AForward ? 1 : -1) {
      Integer R = FDataControllerInfo->GetInternalRecordIndex(P);
      if (vlMatchSearchText(GetDisplayText(R, AItemIndex), AText, APartialCompare)) return R;
    }
    return -1;
  };
  Integer R = Scan(AStartRecordIndex, AForward ? N - 1 : 0);
  if (R < 0 && ACircular && AStartRecordIndex != 0)
    R = AForward ? Scan(0, AStartRecordIndex - 1) : Scan(N - 1, AStartRecordIndex + 1);
  return R;
}
