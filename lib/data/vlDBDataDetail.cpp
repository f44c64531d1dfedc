// Master-detail of the data-set controller: detail controllers show the
// rows of a detail data set whose detail key fields hold the master record's
// master key values; the detail data set is moved there (Locate) or, in SQL
// mode, reopened with those values as parameters.
#include "lib/data/vlDBData.h"

#include "lib/data/vlDataConsts.h"
#include "platform/classes/Lists.h"
#include "platform/rtl/Finally.h"
#include "platform/rtl/Variants.h"

namespace {

Boolean IsEditState(TDataSet* ADataSet) {
  TDataSetState S = ADataSet->State();
  return S == dsEdit || S == dsInsert || S == dsSetKey;
}

// The data set's current values of the named fields; Unassigned when one is missing.
Variant DataSetKeyValues(TDataSet* ADataSet, const String& ANames) {
  if (!ADataSet || !ADataSet->Active() || ANames.empty()) return Variant();
  TList* Fields = New<TList>();
  Finally F([&] { Free(Fields); });
  if (!vlFindFields(ADataSet, ANames, Fields)) return Variant();
  return vlGetFieldsValue(ADataSet, Fields);
}

}  // namespace

// --- Mode settings ------------------------------------------------------------------------

Boolean TvlDBDataModeController::DetailIsCurrentQuery(const String& AMasterDetailKeyFieldNames,
                                                      const Variant& AMasterDetailKeyValues) {
  TDataSet* DS = FDataController->DataSet();
  if (Assigned(FOnDetailIsCurrentQuery))
    return FOnDetailIsCurrentQuery(this, DS, AMasterDetailKeyFieldNames, AMasterDetailKeyValues);
  return FDataController->GetDetailFilterAdapter()->IsCurrentQuery(DS, AMasterDetailKeyFieldNames,
                                                                   AMasterDetailKeyValues);
}

void TvlDBDataModeController::DoDetailFirst(const String& AMasterDetailKeyFieldNames,
                                            const Variant& AMasterDetailKeyValues, Boolean& AReopened) {
  AReopened = false;
  TDataSet* DS = FDataController->DataSet();
  if (Assigned(FOnDetailFirst)) {
    FOnDetailFirst(this, DS, AMasterDetailKeyFieldNames, AMasterDetailKeyValues, AReopened);
    return;
  }
  FDataController->GetDetailFilterAdapter()->SetFilter(DS, AMasterDetailKeyFieldNames, AMasterDetailKeyValues,
                                                       FDetailInSQLMode, AReopened);
}

// --- Provider ------------------------------------------------------------------------------

Boolean TvlDBDataProvider::IsDetailLoad() {
  TvlDBDataController* DC = DBDataController();
  return DC->IsDetailClone() && !IsGridMode() && DC->DBMasterRelation() &&
         !DC->GetMasterDetailKeyFieldNames().empty() && !VarIsEmpty(DC->MasterDetailKeyValues());
}

void TvlDBDataProvider::First() {
  TDataSet* DS = DataSet();
  if (!DS || !DS->Active()) return;
  FInFirst = true;
  Finally Clear([&] { FInFirst = false; });
  if (!IsDetailLoad()) {
    DS->First();
    return;
  }
  TvlDBDataController* DC = DBDataController();
  Boolean Reopened = false;
  DC->DataModeController()->DoDetailFirst(DC->GetMasterDetailKeyFieldNames(), DC->MasterDetailKeyValues(), Reopened);
  if (Reopened) {
    // A reopened data set has new fields and no old bookmark.
    SavePos();
    DC->BindFieldTypes();
  }
  SetIsDataSetCurrent(true);
}

Boolean TvlDBDataProvider::IsDetailEOF() {
  TDataSet* DS = DataSet();
  if (!DS || !DS->Active()) return true;
  if (!IsDetailLoad()) return DS->Eof();
  if (DS->Eof()) return true;
  if (IsEditState(DS)) return false;
  TvlDBDataController* DC = DBDataController();
  return !vlDBKeysEqual(DC->MasterDetailKeyValuesOfDataSet(), DC->MasterDetailKeyValues());
}

void TvlDBDataProvider::SetIsDataSetCurrent(Boolean Value) {
  if (Value && !FIsDataSetCurrent) {
    // The other detail controllers of the same data set no longer show it; in
    // SQL mode their rows are gone from it, so they lose their focus too.
    TvlCustomDataRelation* Relation = DBDataController()->MasterRelation();
    for (TvlDBDataProvider* P : std::vector<TvlDBDataProvider*>(ProviderList())) {
      TvlDBDataController* C = P->DBDataController();
      if (P == this || P->DataSet() != DataSet() || !C->IsDetailMode() || C->FInResetDataSetCurrent) continue;
      C->FInResetDataSetCurrent = true;
      Finally Clear([&] { C->FInResetDataSetCurrent = false; });
      P->FIsDataSetCurrent = false;
      if (C->MasterRelation() == Relation && C->IsDetailClone() && C->DataModeController()->DetailInSQLMode())
        C->ChangeFocusedRecordIndex(-1);
    }
  }
  FIsDataSetCurrent = Value;
  DBDataController()->DataSetCurrentChanged(Value);
}

Boolean TvlDBDataProvider::IsDetailDataSetBusy() {
  for (TvlDBDataProvider* P : ProviderList())
    if (P != this && P->DataSet() == DataSet() && P->FLoading && P->DBDataController()->IsDetailMode()) return true;
  return false;
}

Boolean TvlDBDataProvider::IsOtherDetailChanged() {
  TvlDBDataController* DC = DBDataController();
  if (!DC->IsDetailClone() || !DC->DataModeController()->DetailInSQLMode()) return false;
  if (!DC->DataModeController()->DetailInSyncMode()) return true;
  if (FIsDataSetCurrent || VarIsEmpty(DC->MasterDetailKeyValues())) return false;
  return !vlDBKeysEqual(DC->MasterDetailKeyValuesOfDataSet(), DC->MasterDetailKeyValues());
}

Boolean TvlDBDataProvider::GetDetailHasChildren(Integer ARecordIndex, Integer ARelationIndex) {
  TvlDBDataController* DC = DBDataController();
  auto* R = dynamic_cast<TvlDBDataRelation*>(DC->Relations()->Items(ARelationIndex));
  TvlDBDataController* Detail = R ? R->DetailPattern() : nullptr;
  if (!Detail) return inherited::GetDetailHasChildren(ARecordIndex, ARelationIndex);
  Boolean Result = true;
  const Variant ID = R->GetMasterRecordID(ARecordIndex);
  const String Names = Detail->GetMasterDetailKeyFieldNames();
  if (Assigned(Detail->OnDetailHasChildren())) {
    Detail->OnDetailHasChildren()(Detail, ARecordIndex, ARelationIndex, Names, ID, Result);
    return Result;
  }
  TvlDBDataModeController* Mode = Detail->DataModeController();
  if (Mode->GridMode() || Mode->DetailInSQLMode()) return Result;
  TDataSet* DS = Detail->DataSet();
  if (!DS || !DS->Active()) return false;
  if (Names.empty() || VarIsEmpty(ID)) return Result;
  // Locating would cancel the detail data set's pending edit: a question
  // never does that, so it keeps its default answer.
  if (IsEditState(DS)) return Result;
  TvlDBDataProvider* P = Detail->DBProvider();
  {
    P->LockDataSet();
    P->SavePos();
    Finally Back([&] {
      P->RestorePos();
      P->UnlockDataSet();
    });
    Result = DS->Locate(Names, ID, TLocateOptions());
  }
  Detail->SyncMasterPos();
  return Result;
}

void TvlDBDataProvider::SetLoadAllNeeded(Boolean Value) {
  if (LoadAllNeeded() == Value) return;
  const Boolean Was = IsGridMode();
  inherited::SetLoadAllNeeded(Value);
  if (IsGridMode() != Was && DataSet() && DataSet()->Active()) LayoutChanged();
}

// --- Controller -------------------------------------------------------------------------------

void TvlDBDataController::Assign(TPersistent* Source) {
  auto* S = dynamic_cast<TvlDBDataController*>(Source);
  if (!S) {
    inherited::Assign(Source);
    return;
  }
  {
    BeginUpdate();
    Finally End([&] { EndUpdate(); });
    inherited::Assign(Source);
    FDataModeController->Assign(S->FDataModeController);
    SetKeyFieldNames(S->FKeyFieldNames);
    SetDetailKeyFieldNames(S->FDetailKeyFieldNames);
    SetMasterKeyFieldNames(S->FMasterKeyFieldNames);
    FOnDetailHasChildren = S->FOnDetailHasChildren;
  }
  // Last and unlocked: the data source loads at once and focuses the data set's record.
  SetDataSource(S->DataSource());
}

TvlDBDataRelation* TvlDBDataController::DBMasterRelation() const {
  return dynamic_cast<TvlDBDataRelation*>(MasterRelation());
}

TvlDBDataController* TvlDBDataController::MasterDBDataController() const {
  TvlDBDataRelation* R = DBMasterRelation();
  return R ? R->MasterDataController() : nullptr;
}

void TvlDBDataController::SetDetailKeyFieldNames(const String& Value) {
  if (FDetailKeyFieldNames == Value) return;
  FDetailKeyFieldNames = Value;
  ResetMasterDetailKeyFields();
  if (TvlDBDataRelation* R = DBMasterRelation(); R && !IsDetailClone()) R->KeyFieldNamesChanged();
}

void TvlDBDataController::SetMasterKeyFieldNames(const String& Value) {
  if (FMasterKeyFieldNames == Value) return;
  FMasterKeyFieldNames = Value;
  ResetMasterDetailKeyFields();
  if (TvlDBDataRelation* R = DBMasterRelation(); R && !IsDetailClone()) R->KeyFieldNamesChanged();
}

String TvlDBDataController::GetMasterDetailKeyFieldNames() {
  return FMasterKeyFieldNames.empty() ? String() : FDetailKeyFieldNames;
}

TList* TvlDBDataController::MasterDetailKeyFields() {
  TDataSet* DS = DataSet();
  if (!DS || !DS->Active()) return nullptr;
  if (!FMasterDetailKeyFields) {
    FMasterDetailKeyFields = New<TList>();
    FMasterDetailKeyFieldsFound = false;
  }
  if (!FMasterDetailKeyFieldsFound) {
    const String Names = GetMasterDetailKeyFieldNames();
    FMasterDetailKeyFields->Clear();
    if (Names.empty() || !vlFindFields(DS, Names, FMasterDetailKeyFields)) {
      FMasterDetailKeyFields->Clear();
      return nullptr;
    }
    FMasterDetailKeyFieldsFound = true;
  }
  return FMasterDetailKeyFields;
}

Variant TvlDBDataController::MasterDetailKeyValuesOfDataSet() {
  TList* Fields = MasterDetailKeyFields();
  return Fields ? vlGetFieldsValue(DataSet(), Fields) : Variant();
}

void TvlDBDataController::AssignMasterDetailKeys() {
  if (!Options().Contains(dcoAssignMasterDetailKeys) || !IsDetailClone() || VarIsEmpty(FMasterDetailKeyValues)) return;
  TList* Fields = MasterDetailKeyFields();
  if (!Fields) return;
  const Integer Count = Fields->Count();
  for (Integer I = 0; I < Count; ++I) {
    auto* F = static_cast<TField*>(Fields->Items(I));
    DBProvider()->AssignValue(F, Count == 1 ? FMasterDetailKeyValues : Variant(FMasterDetailKeyValues[I]));
  }
}

void TvlDBDataController::ResetMasterDetailKeyFields() {
  FMasterDetailKeyFieldsFound = false;
  if (FMasterDetailKeyFields) FMasterDetailKeyFields->Clear();
}

void TvlDBDataController::SetMasterRelation(TvlCustomDataRelation* AMasterRelation, Integer AMasterRecordIndex) {
  inherited::SetMasterRelation(AMasterRelation, AMasterRecordIndex);
  auto* R = dynamic_cast<TvlDBDataRelation*>(AMasterRelation);
  if (!R) return;
  if (AMasterRecordIndex == -1) {
    // A new pattern: the master binds its master key field to this detail's names.
    R->KeyFieldNamesChanged();
    return;
  }
  FMasterDetailKeyValues = R->GetMasterRecordID(AMasterRecordIndex);
  if (DataSet() && DataSet()->Active()) DBProvider()->LayoutChanged();
}

void TvlDBDataController::RelationsChanged(TvlCustomDataRelation* ARelation) {
  inherited::RelationsChanged(ARelation);
  if (IsOwnerDestroying()) return;
  Boolean Rebound = false;
  for (Integer I = 0; I < Relations()->Count(); ++I) {
    auto* R = dynamic_cast<TvlDBDataRelation*>(Relations()->Items(I));
    if (!R) continue;
    TvlDBDataField* Old = R->MasterKeyField();
    const String OldNames = Old ? Old->FieldName() : String();
    R->UpdateMasterKeyField();
    if (R->MasterKeyField() != Old || (Old && Old->FieldName() != OldNames)) Rebound = true;
  }
  // The master key values are read with the records.
  if (Rebound && DataSet() && DataSet()->Active()) DBProvider()->LayoutChanged();
}

TvlDBProviderDetailFilterAdapter* TvlDBDataController::GetDetailFilterAdapter() {
  Integer Index = -1;
  TDataSet* DS = DataSet();
  if (DS && vlDBDataDetailAdapterList &&
      vlDBDataDetailAdapterList->FindAdapter(ClassAs<TDataSet>(DS->ClassType()), Index)) {
    TvlDBAdapterItem* Item = vlDBDataDetailAdapterList->Items(Index);
    if (Is<TvlDBProviderDetailFilterAdapter>(Item)) return static_cast<TvlDBProviderDetailFilterAdapter*>(Item);
  }
  throw EvlInvalidDataControllerOperation(LoadResString(vlSDBDetailFilterControllerNotFound));
}

void TvlDBDataController::CheckCurrentQuery() {
  if (FInCheckCurrentQuery || !IsDetailClone() || !FDataModeController->DetailInSQLMode()) return;
  TDataSet* DS = DataSet();
  if (!DS || !DS->Active()) return;
  if (FDataModeController->DetailIsCurrentQuery(GetMasterDetailKeyFieldNames(), FMasterDetailKeyValues)) return;
  TvlDBDataProvider* P = DBProvider();
  P->LockDataChanges();
  FInCheckCurrentQuery = true;
  Finally Done([&] {
    FInCheckCurrentQuery = false;
    P->UnlockDataChanges();
  });
  P->FLoading = true;
  Finally Loaded([&] { P->FLoading = false; });
  P->First();
  P->SavePos();
  P->RestorePos();
  P->SetRecordIndex(0);
}

void TvlDBDataController::SyncPatternMasterPos() {
  TDataSet* DS = DataSet();
  if (!IsDetailMode() || FUpdateDataSetPos || FInCheckBrowseMode || IsOwnerLoading() ||
      DBProvider()->IsDetailDataSetBusy() || !DS || !DS->Active() || !DS->BookmarkAvailable())
    return;
  // Only a move counts: a detail that read the data set, or a has-children
  // question, puts it back where it stood.
  TBookmark Current = DS->Bookmark();
  if (!FPatternBookmark.empty() && DS->BookmarkValid(FPatternBookmark) &&
      DS->CompareBookmarks(Current, FPatternBookmark) == 0)
    return;
  FPatternBookmark = Current;
  SyncDetailMasterPos();
}

void TvlDBDataController::SyncMasterPos() {
  if (IsDetailMode()) Change(dccSyncMasterPos);
}

TvlDBDataController* TvlDBDataController::SyncDetailMasterPos() {
  if (!MasterRelation() || GetMasterDetailKeyFieldNames().empty()) return this;
  TvlDBDataRelation* R = DBMasterRelation();
  if (!R) return nullptr;
  TvlDBDataController* M = R->MasterDataController();
  if (!M || !DBProvider()->IsSyncMode() || M->IsCreatingLinkObject()) return nullptr;
  for (TvlDBDataController* C = M; C; C = C->MasterDBDataController())
    if (!C->DBProvider()->IsSyncMode() || !C->IsKeyNavigation() || C->IsEditing()) return nullptr;
  M->FUpdateDataSetPos = true;
  Finally Clear([&] { M->FUpdateDataSetPos = false; });
  const Variant D = DataSetKeyValues(DataSet(), R->GetDetailKeyFieldNames());
  const Variant MV = DataSetKeyValues(M->DataSet(), R->GetMasterKeyFieldNames());
  if (VarIsEmpty(D) || VarIsEmpty(MV)) return nullptr;
  if (vlDBKeysEqual(D, MV)) {
    if (M->FInFocusDetails) return nullptr;
  } else {
    Boolean Found;
    {
      M->DBProvider()->EnterLocating();
      Finally Leave([&] { M->DBProvider()->LeaveLocating(); });
      Found = M->DataSet()->Locate(R->GetMasterKeyFieldNames(), D, TLocateOptions());
    }
    if (!Found) return nullptr;
    // The master's focus follows its data set.
    M->DBProvider()->DataScrolled(0);
  }
  TvlDBDataController* Result = nullptr;
  TvlDBDataController* C = M->SyncDetailMasterPos();
  const Integer Record = C ? C->FocusedRecordIndex() : -1;
  if (Record >= 0) {
    C->FInFocusDetails = true;
    Finally Focus([&] { C->FInFocusDetails = false; });
    if (C->ChangeDetailExpanding(Record, true) && C->GetDetailExpanding(Record)) {
      const Integer Own = R->Index();
      const Integer Active = C->GetDetailActiveRelationIndex(Record);
      if (Active >= 0 && Active != Own && Active < C->Relations()->Count()) {
        // Another relation is showing: keep it when its detail shows this master too.
        auto* Other = dynamic_cast<TvlDBDataRelation*>(C->Relations()->Items(Active));
        TvlDBDataController* P = Other ? Other->DetailPattern() : nullptr;
        if (P && vlDBKeysEqual(DataSetKeyValues(P->DataSet(), Other->GetDetailKeyFieldNames()), MV))
          Result = dynamic_cast<TvlDBDataController*>(
              C->GetDetailDataControllerByLinkObject(C->GetDetailLinkObject(Record, Active)));
      }
      if (!Result) {
        C->ChangeDetailActiveRelationIndex(Record, Own);
        Result = dynamic_cast<TvlDBDataController*>(
            C->GetDetailDataControllerByLinkObject(C->GetDetailLinkObject(Record, Own)));
      }
    }
  }
  SyncMasterPos();
  return Result;
}
