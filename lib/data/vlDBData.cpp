#include "lib/data/vlDBData.h"

#include <algorithm>
#include <cstdio>

#include "lib/data/vlCustomData.h"
#include "lib/data/vlDataConsts.h"
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

Variant FieldValue(TField* AField) { return AField->IsNull() ? Null() : AField->Value(); }

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
  if (FDataController->IsGridMode() != Was) FDataController->DBProvider()->LayoutChanged();
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
  if (!Active()) FLayoutChangedFlag = false;
}

void TvlDBDataLink::DataEvent(TDataEvent Event, NativeInt Info) {
  inherited::DataEvent(Event, Info);
  // The controller's own reading disables and enables the data set's controls: no layout change.
  if (Event == deDisabledStateChange && Info == 0 && !FProvider->IsLoading()) FLayoutChangedFlag = true;
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

void TvlDBDataLink::RecordChanged(TField*) {}

// --- Provider -------------------------------------------------------------------------

void TvlDBDataProvider::Create(TvlCustomDataController* ADataController) {
  inherited::Create(ADataController);
  Providers().push_back(this);
  FDataLink = New<TvlDBDataLink>(this);
}

void TvlDBDataProvider::Destroy() {
  for (TvlDBDataProvider* P : Providers())
    P->FListeners.erase(std::remove(P->FListeners.begin(), P->FListeners.end(), this), P->FListeners.end());
  Providers().erase(std::remove(Providers().begin(), Providers().end(), this), Providers().end());
  Free(FDataLink);
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

void TvlDBDataProvider::SetDataSource(TDataSource* Value) {
  if (FDataLink->DataSource() == Value) return;
  FDataLink->SetDataSource(Value);
}

void TvlDBDataProvider::LockDataSet() {
  LockDataChanges();
  if (DataSet()) DataSet()->DisableControls();
}

void TvlDBDataProvider::UnlockDataSet() {
  if (DataSet()) DataSet()->EnableControls();
  UnlockDataChanges();
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
  if (!Field || ARecordIndex >= Link->RecordCount()) return T();
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
  FUpdatingRecordIndex = -1;
  if (AActive) {
    DBDataController()->BindFieldTypes();
    DC->RebuildData();
    DBDataController()->LoadFromDataSet();
  } else {
    DC->BeginFullUpdate();
    Finally End([&] { DC->EndFullUpdate(); });
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
  if (AForcePost)
    DataSet()->Post();
  else
    DataSet()->CheckBrowseMode();
}

void TvlDBDataProvider::Cancel() {
  if (!CanModify()) {
    inherited::Cancel();
    return;
  }
  DataSet()->Cancel();
}

Boolean TvlDBDataProvider::SetEditValue(Integer ARecordIndex, TvlCustomDataField* AField, const Variant& AValue,
                                        Boolean AFromText) {
  TField* F = DBDataController()->GetDBFieldOf(AField);
  if (!CanModify() || !F) return inherited::SetEditValue(ARecordIndex, AField, AValue, AFromText);
  if (!IsEditState(DataSet())) DataSet()->Edit();
  if (AFromText)
    F->SetAsString(VarToStr(AValue));
  else
    F->SetValue(AValue);
  return true;
}

void TvlDBDataProvider::LayoutChanged() {
  if (!DataSet() || !DataSet()->Active()) return;
  if (FLoading || IsDetailDataSetBusy()) {
    DBDataController()->BindFieldTypes();
    return;
  }
  DataController()->RebuildData();
  DBDataController()->BindFieldTypes();
  DBDataController()->LoadFromDataSet();
}

void TvlDBDataProvider::EditingChanged() {
  if (!IsSyncMode()) return;
  TDataSet* DS = DataSet();
  TvlDBDataController* DC = DBDataController();
  if (FDataLink->Active() && IsEditState(DS)) {
    if (DS->State() == dsEdit) {
      if (FRecordIndex >= 0 && FRecordIndex < DC->RecordCount()) {
        FUpdatingRecordIndex = FRecordIndex;
        FUpdatingRecordIsInserting = false;
        DoEdit();
      }
    } else if (DS->State() == dsInsert) {
      FUpdatingRecordIndex = -1;
      FUpdatingRecordIsInserting = true;
    }
  } else {
    ResetEditing();
  }
}

void TvlDBDataProvider::DataSetChanged() {
  TDataSet* DS = DataSet();
  TvlDBDataController* DC = DBDataController();
  if (!DS || !DS->Active() || FLoading) return;
  if (IsOtherDataControllerUpdating() || IsOtherDetailChanged()) return;
  if (IsLocating()) {
    DataScrolled(0);
    return;
  }
  if (IsGridMode()) {
    {
      FInUpdateGridMode = true;
      Finally Clear([&] { FInUpdateGridMode = false; });
      DC->BeginFullUpdate();
      Finally End([&] { DC->EndFullUpdate(); });
      LoadGridModeBuffer();
      DC->CheckBookmarkValid(-1);
    }
    DC->SyncFocusWithDataSet();
    return;
  }
  if (IsEditState(DS)) return;
  if (IsSmartRefresh())
    DC->SmartRefreshRecord();
  else
    DC->LoadFromDataSet();
  FUpdatingRecordIndex = -1;
  FUpdatingRecordIsInserting = false;
}

// --- Controller --------------------------------------------------------------------

void TvlDBDataController::Create(TComponent* AOwner) {
  inherited::Create(AOwner);
  ReplaceProvider(New<TvlDBDataProvider>(this));
  FDataModeController = New<TvlDBDataModeController>(this);
  FBookmarks = New<TvlBookmarkList>();
}

void TvlDBDataController::Destroy() {
  // The link leaves the data source first, so no notification reaches a half-freed controller.
  if (DBProvider()) DBProvider()->SetDataSource(nullptr);
  Free(FDataModeController);
  FDataModeController = nullptr;
  Free(FBookmarks);
  FBookmarks = nullptr;
  inherited::Destroy();
}

TvlDBDataProvider* TvlDBDataController::DBProvider() const { return static_cast<TvlDBDataProvider*>(Provider()); }
TDataSet* TvlDBDataController::DataSet() const { return DBProvider()->DataSet(); }
TDataSource* TvlDBDataController::DataSource() const { return DBProvider()->DataSource(); }
void TvlDBDataController::SetDataSource(TDataSource* Value) { DBProvider()->SetDataSource(Value); }

void TvlDBDataController::SetKeyFieldNames(const String& Value) {
  if (FKeyFieldNames == Value) return;
  FKeyFieldNames = Value;
  RebuildKeyIndex();
  if (Value.empty()) Change(dccData);
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
  const std::vector<String> Names = KeyNames();
  for (Integer I = 0; I < static_cast<Integer>(Names.size()); ++I) {
    TField* Field = DataSet() ? DataSet()->FindField(Names[I]) : nullptr;
    if (!Field) DBDataError(vlSDBKeyFieldNotFound);
    AList.push_back(Field);
  }
}

std::vector<String> TvlDBDataController::KeyNames() const {
  TStringList* List = New<TStringList>();
  Finally F([&] { Free(List); });
  vlSplitFieldNames(FKeyFieldNames, List);
  std::vector<String> Result;
  for (Integer I = 0; I < List->Count(); ++I) Result.push_back(List->Strings(I));
  return Result;
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
  std::vector<Integer> Items;
  const std::vector<String> Names = KeyNames();
  if (static_cast<Integer>(Names.size()) == 0) return Null();
  std::vector<Variant> Values;
  for (Integer I = 0; I < static_cast<Integer>(Names.size()); ++I) {
    Integer Item = GetItemByFieldName(Names[I]);
    if (Item < 0) DBDataError(vlSDBKeyFieldNotFound);
    Values.push_back(GetValue(ARecordIndex, Item));
  }
  return Values.size() == 1 ? Values[0] : MakeArray(Values);
}

Boolean TvlDBDataController::IsKeyNavigation() { return !FKeyFieldNames.empty() && !IsGridMode(); }

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

void TvlDBDataController::RebuildKeyIndex() {
  FKeyIndex.clear();
  if (!IsKeyNavigation() || RecordCount() == 0) return;
  // Key names without an item: nothing to index (the key field is reported missing when used).
  const std::vector<String> Names = KeyNames();
  for (Integer I = 0; I < static_cast<Integer>(Names.size()); ++I)
    if (GetItemByFieldName(Names[I]) < 0) return;
  FKeyIndex.reserve(RecordCount());
  for (Integer R = 0; R < RecordCount(); ++R) FKeyIndex.emplace(KeyText(GetRecordId(R)), R);
}

Integer TvlDBDataController::FindRecordIndexByKey(const Variant& AKeyFieldValues) {
  if (IsGridMode()) {
    if (FKeyFieldNames.empty()) return -1;
    String Key = KeyText(AKeyFieldValues);
    for (Integer R = 0; R < RecordCount(); ++R)
      if (KeyText(GetRecordId(R)) == Key) return R;
    return -1;
  }
  const Integer KeyCount = vlFieldNameCount(FKeyFieldNames);
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
  auto It = FKeyIndex.find(KeyText(Key));
  return It == FKeyIndex.end() ? -1 : It->second;
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
  if (IsKeyNavigation()) return FindRecordIndexByKey(GetKeyFieldsValues());
  Integer R = DBProvider()->RecordIndex();
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
  // A detail in SQL mode first reopens its data set for its master.
  if (!FInSync && !FInResetDataSetCurrent) CheckCurrentQuery();
  if (FInSync || !P->IsSyncMode()) return inherited::CanFocusRecord(ARecordIndex);
  return LocateDataSetRecord(ARecordIndex);
}

void TvlDBDataController::CheckBrowseMode() {
  TDataSet* DS = DataSet();
  if (!DS || DS->State() == dsInactive) return;
  if (DS->State() != dsEdit && DS->State() != dsInsert) return;
  DS->UpdateRecord();
  if (DS->Modified()) {
    if (!DBProvider()->IsSmartRefresh() && !IsGridMode()) {
      DS->DisableControls();
      Finally Enable([&] { DS->EnableControls(); });
      DS->Post();
    } else {
      DS->Post();
    }
  } else {
    DS->Cancel();
  }
}

void TvlDBDataController::RefreshExternalData() {
  if (DataSet()) DataSet()->Refresh();
}

void TvlDBDataController::SelectAll() {
  TDataSet* DS = DataSet();
  if (!IsGridMode() || !DS || !DS->Active()) {
    inherited::SelectAll();
    return;
  }
  TvlDBDataProvider* P = DBProvider();
  P->LockDataSet();
  P->SavePos();
  Finally Back([&] {
    P->RestorePos();
    P->UnlockDataSet();
  });
  FBookmarks->Clear();
  try {
    for (DS->First(); !DS->Eof(); DS->Next()) FBookmarks->Add(DS->Bookmark());
  } catch (...) {
    FBookmarks->Clear();
    throw;
  }
}

TBookmark TvlDBDataController::GetSelectedBookmark(Integer AIndex) {
  if (!IsGridMode()) DBDataError(vlSDBNotInGridMode);
  return FBookmarks->Items(AIndex);
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

Integer TvlDBDataController::GridModeWindowSize() {
  Integer N = FDataModeController->GridModeBufferCount();
  return N > 0 ? N : GetDefaultGridModeBufferCount();
}

void TvlDBDataController::UpdateGridModeBufferCount() {
  if (!IsGridMode() || !DBProvider()->DataLink()->Active()) return;
  DBProvider()->DataSetChanged();
}

void TvlDBDataController::ReadCurrentRecord(Integer ARecordIndex) {
  TvlValueDefDBReader* Reader = New<TvlValueDefDBReader>();
  Finally F([&] { Free(Reader); });
  DataStorage()->ReadRecord(ARecordIndex, Reader);
  DataChanged(dcRecord, -1, ARecordIndex);
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
  P->FLoading = true;
  {
    BeginFullUpdate();
    Finally End([&] { EndFullUpdate(); });
    Finally Loaded([&] { P->FLoading = false; });
    if (IsGridMode()) {
      P->LoadGridModeBuffer();
    } else {
      P->DataLink()->SetBufferCount(1);
      TvlValueDefDBReader* Reader = New<TvlValueDefDBReader>();
      Finally FreeReader([&] { Free(Reader); });
      P->SavePos();
      DS->DisableControls();
      Finally Enable([&] { DS->EnableControls(); });
      // A detail reads its master's rows only: from First until the detail key changes.
      SetRecordCount(P->IsDetailLoad() ? 0 : DS->RecordCount());
      Integer R = 0;
      P->FRecordIndex = -1;
      for (P->First(); !P->IsDetailEOF(); DS->Next(), ++R) {
        if (R >= RecordCount()) SetRecordCount(R + 1);
        DataStorage()->ReadRecord(R, Reader);
        if (!P->FSavePosInfo.Bookmark.empty() && P->FRecordIndex < 0 &&
            DS->CompareBookmarks(DS->Bookmark(), P->FSavePosInfo.Bookmark) == 0)
          P->FRecordIndex = R;
      }
      if (R < RecordCount()) SetRecordCount(R);
      DataChanged(dcTotal, -1, -1);
      if (P->FSavePosInfo.Bookmark.empty() && R > 0) P->FRecordIndex = 0;
      P->RestorePos();
    }
    RebuildKeyIndex();
  }
  // Views of the same data set that skipped a change while this one loaded.
  std::vector<TvlDBDataProvider*> Listeners;
  Listeners.swap(P->FListeners);
  for (TvlDBDataProvider* L : Listeners) L->DataLink()->NotifyDataSetChanged();
  SyncFocusWithDataSet();
}

void TvlDBDataController::SmartRefreshRecord() {
  TDataSet* DS = DataSet();
  TvlDBDataProvider* P = DBProvider();
  const Integer Current = DS->IsEmpty() ? -1 : FindCurrentDataSetRecord();
  Integer Updated = -1;
  // The record that was edited keeps its place even when its key changed.
  if (P->FUpdatingRecordIndex >= 0 && P->FUpdatingRecordIndex < RecordCount() && DS->RecordCount() == RecordCount())
    Updated = P->FUpdatingRecordIndex;
  else if (DS->RecordCount() == RecordCount() && Current >= 0)
    Updated = Current;
  else if (DS->RecordCount() == RecordCount() + 1 && Current < 0)
    Updated = RecordCount();
  if (Updated < 0 && !(DS->IsEmpty() && RecordCount() == 0)) {
    // Rows added or removed elsewhere (a refresh): everything is read again.
    LoadFromDataSet();
    return;
  }
  if (Updated >= 0) {
    BeginFullUpdate();
    Finally End([&] { EndFullUpdate(); });
    if (Updated == RecordCount())
      AppendRecord();
    else
      FKeyIndex.erase(KeyText(GetRecordId(Updated)));
    ReadCurrentRecord(Updated);
    FKeyIndex[KeyText(GetRecordId(Updated))] = Updated;
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
