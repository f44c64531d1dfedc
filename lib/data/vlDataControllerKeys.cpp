#include "lib/data/vlDataControllerKeys.h"

#include <algorithm>

#include "lib/data/vlDataController.h"
#include "lib/foundation/vlVariants.h"
#include "platform/rtl/Finally.h"

CL_IMPLEMENT_CLASS(TvlKeyInfo)
CL_IMPLEMENT_CLASS(TvlSelectedKeyInfo)
CL_IMPLEMENT_CLASS(TvlDetailKeyInfo)
CL_IMPLEMENT_CLASS(TvlKeys)
CL_IMPLEMENT_CLASS(TvlDetailKeys)
CL_IMPLEMENT_CLASS(TvlSelectedKeys)
CL_IMPLEMENT_CLASS(TvlSaveObject)
CL_IMPLEMENT_CLASS(TvlDataControllerLocateObject)
CL_IMPLEMENT_CLASS(TvlDataControllerKeyLocateObject)
CL_IMPLEMENT_CLASS(TvlDataControllerGroupLocateObject)

// --- TvlKeys ---------------------------------------------------------------------------

void TvlKeys::Destroy() {
  Clear();
  inherited::Destroy();
}

void TvlKeys::Bind(TvlCustomDataController* ADataController) {
  FDataController = ADataController;
  FKeyFields.clear();
  FDataController->GetKeyFields(FKeyFields);
}

Variant TvlKeys::RecordKey(Integer ARecordIndex) { return FDataController->GetRecordKeyValue(ARecordIndex, FKeyFields); }

void TvlKeys::Save(TvlCustomDataController* ADataController) {
  Clear();
  Bind(ADataController);
  DoSave();
  std::stable_sort(FKeys.begin(), FKeys.end(),
                   [](TvlKeyInfo* A, TvlKeyInfo* B) { return vlCompareVariants(A->Key, B->Key) < 0; });
}

void TvlKeys::Restore(TvlCustomDataController* ADataController) {
  Bind(ADataController);
  if (FKeys.empty()) return;
  Finally Done([&] { Clear(); });
  DoRestore();
}

Boolean TvlKeys::FindKey(Integer ARecordIndex, Integer& AIndex) {
  // The keys are sorted: the first equal one by halving.
  const Variant K = RecordKey(ARecordIndex);
  auto It = std::lower_bound(FKeys.begin(), FKeys.end(), K,
                             [](TvlKeyInfo* A, const Variant& B) { return vlCompareVariants(A->Key, B) < 0; });
  if (It != FKeys.end() && vlCompareVariants((*It)->Key, K) == 0) {
    AIndex = static_cast<Integer>(It - FKeys.begin());
    return true;
  }
  AIndex = -1;
  return false;
}

void TvlKeys::FreeKey(TvlKeyInfo* AKey) { Free(AKey); }

void TvlKeys::Delete(Integer AIndex) {
  FreeKey(FKeys[AIndex]);
  FKeys.erase(FKeys.begin() + AIndex);
}

void TvlKeys::Clear() {
  for (TvlKeyInfo* K : FKeys) FreeKey(K);
  FKeys.clear();
}

// --- Detail keys -----------------------------------------------------------------------

namespace {

// The detail controller behind a record's existing link object for a
// relation (none is created here), when it is of the master's class: only
// those are saved and restored recursively.
TvlCustomDataController* SameClassDetail(TvlCustomDataController* AMaster, Integer ARecordIndex,
                                         Integer ARelationIndex) {
  TvlCustomDataRelationList* Relations = AMaster->Relations();
  if (ARelationIndex < 0 || ARelationIndex >= Relations->Count()) return nullptr;
  TvlDetailObject* D = Relations->GetDetailObject(ARecordIndex);
  TObject* Link = D && ARelationIndex < D->LinkObjectCount() ? D->LinkObjects(ARelationIndex) : nullptr;
  if (!Link) return nullptr;
  auto* Detail = dynamic_cast<TvlCustomDataController*>(AMaster->GetDetailDataControllerByLinkObject(Link));
  return Detail && Detail->InheritsFrom(AMaster->ClassType()) ? Detail : nullptr;
}

}  // namespace

void TvlDetailKeys::FreeKey(TvlKeyInfo* AKey) {
  if (auto* D = dynamic_cast<TvlDetailKeyInfo*>(AKey)) Free(D->SubDetail);
  inherited::FreeKey(AKey);
}

void TvlDetailKeys::DoSave() {
  for (Integer R = 0; R < FDataController->RecordCount(); ++R) {
    if (!FDataController->GetDetailExpanding(R)) continue;
    auto* Info = New<TvlDetailKeyInfo>();
    FKeys.push_back(Info);
    Info->Key = RecordKey(R);
    Info->ActiveRelationIndex = FDataController->GetDetailActiveRelationIndex(R);
    Info->SubDetail = New<TvlSaveObject>();
    if (TvlCustomDataController* Detail = SameClassDetail(FDataController, R, Info->ActiveRelationIndex))
      Info->SubDetail->Save(Detail);
  }
}

void TvlDetailKeys::DoRestore() {
  for (Integer R = 0; R < FDataController->RecordCount() && !FKeys.empty(); ++R) {
    Integer K;
    if (!FindKey(R, K)) continue;
    auto* Info = static_cast<TvlDetailKeyInfo*>(FKeys[K]);
    FDataController->ChangeDetailExpanding(R, true);
    FDataController->ChangeDetailActiveRelationIndex(R, Info->ActiveRelationIndex);
    if (FDataController->GetDetailExpanding(R) &&
        FDataController->GetDetailActiveRelationIndex(R) == Info->ActiveRelationIndex)
      if (TvlCustomDataController* Detail = SameClassDetail(FDataController, R, Info->ActiveRelationIndex))
        Info->SubDetail->Restore(Detail);
  }
}

// --- Selected keys ---------------------------------------------------------------------

void TvlSelectedKeys::DoSave() {
  TvlDataSelection* S = FDataController->DataControllerInfo()->Selection();
  for (Integer I = 0; I < S->Count(); ++I) {
    const TvlSelectionEntry& E = S->Items(I);
    if (E.Level < 0 || E.RecordIndex >= FDataController->RecordCount()) continue;
    auto* Info = New<TvlSelectedKeyInfo>();
    FKeys.push_back(Info);
    Info->SelectedIndex = I;
    Info->Key = RecordKey(E.RecordIndex);
  }
}

void TvlSelectedKeys::DoRestore() {
  TvlCustomDataControllerInfo* DCI = FDataController->DataControllerInfo();
  TvlDataSelection* S = DCI->Selection();
  if (S->Count() == 0) return;
  // Entries whose key is found take their record's new index; the others
  // lose their record and are dropped with every entry already without one.
  for (Integer R = 0; R < FDataController->RecordCount() && !FKeys.empty(); ++R) {
    Integer K;
    if (!FindKey(R, K)) continue;
    const Integer Sel = static_cast<TvlSelectedKeyInfo*>(FKeys[K])->SelectedIndex;
    if (Sel < S->Count()) S->Items(Sel).RecordIndex = R;
    Delete(K);
  }
  for (TvlKeyInfo* K : FKeys) {
    const Integer Sel = static_cast<TvlSelectedKeyInfo*>(K)->SelectedIndex;
    if (Sel < S->Count()) S->Items(Sel).RecordIndex = -1;
  }
  for (Integer I = S->Count() - 1; I >= 0; --I)
    if (S->Items(I).RecordIndex == -1) S->Delete(I);
  DCI->ExpandingChanged();
}

// --- TvlSaveObject ---------------------------------------------------------------------

void TvlSaveObject::Create() {
  FDetailKeys = New<TvlDetailKeys>();
  FSelectedKeys = New<TvlSelectedKeys>();
}

void TvlSaveObject::Destroy() {
  Free(FSelectedKeys);
  Free(FDetailKeys);
  inherited::Destroy();
}

void TvlSaveObject::Save(TvlCustomDataController* ADataController) {
  if (ADataController->IsCreatingLinkObject() || ADataController->IsOwnerDestroying() ||
      !ADataController->CanFindRecordsByKey())
    return;
  FDetailKeys->Save(ADataController);
  FSelectedKeys->Save(ADataController);
}

void TvlSaveObject::Restore(TvlCustomDataController* ADataController) {
  if (ADataController->IsCreatingLinkObject()) return;
  if (ADataController->CanFindRecordsByKey()) {
    FDetailKeys->Restore(ADataController);
    FSelectedKeys->Restore(ADataController);
  } else {
    ADataController->DataControllerInfo()->ValidateSelection();
    ADataController->CheckBookmarkValid(-1);
  }
}

// --- Locate objects ------------------------------------------------------------------------

void TvlDataControllerLocateObject::Destroy() {
  Clear();
  inherited::Destroy();
}

void TvlDataControllerLocateObject::Clear() {
  if (FInternalRecordIndex == 0) return;
  FDataController->DataStorage()->DeleteRecord(FInternalRecordIndex);
  FInternalRecordIndex = 0;
}

void TvlDataControllerLocateObject::ReadData(TvlValueDefReader* AValueDefReader) {
  TvlDataStorage* Storage = FDataController->DataStorage();
  if (FInternalRecordIndex == 0) FInternalRecordIndex = Storage->AddInternalRecord();
  FDataController->BeginUnboundCopy();
  Finally Done([&] { FDataController->EndUnboundCopy(); });
  Storage->ReadRecord(FInternalRecordIndex, AValueDefReader);
}

Integer TvlDataControllerKeyLocateObject::FindRecordIndex() {
  if (FInternalRecordIndex == 0) return -1;
  TvlDataStorage* Storage = FDataController->DataStorage();
  std::vector<Variant> Wanted;
  for (TvlCustomDataField* F : FFields) Wanted.push_back(Storage->GetValue(FInternalRecordIndex, F->ValueDef()));
  for (Integer R = 0; R < FDataController->RecordCount(); ++R) {
    Boolean Match = true;
    for (size_t I = 0; Match && I < FFields.size(); ++I)
      Match = vlCompareVariants(FDataController->GetValue(R, FFields[I]), Wanted[I]) == 0;
    if (Match) return R;
  }
  return -1;
}

void TvlDataControllerGroupLocateObject::Create(TvlCustomDataController* ADataController) {
  inherited::Create(ADataController);
  // Groups sorted by display text are not in value order: scan them.
  FIsGroupDataSorted = true;
  TvlGroupingFieldList* Grouping = ADataController->DataControllerInfo()->GroupingFieldList();
  for (Integer I = 0; I < Grouping->Count(); ++I)
    if (ADataController->IsSortByDisplayText(Grouping->Items(I).Field)) FIsGroupDataSorted = false;
}

Integer TvlDataControllerGroupLocateObject::FindRecordIndex() {
  if (FInternalRecordIndex == 0) return -1;
  TvlCustomDataControllerInfo* Info = FDataController->DataControllerInfo();
  if (FLevel < 0 || FLevel >= Info->GroupingFieldList()->Count()) return -1;
  Info->PrepareSortingFields();
  Finally Done([&] { Info->UnprepareSortingFields(); });
  auto Compare = [&](Integer ARecordIndex) {
    for (Integer L = 0; L <= FLevel; ++L)
      if (Integer C = Info->CompareGroupRecords(FInternalRecordIndex, ARecordIndex, L)) return C;
    return 0;
  };
  const Integer N = Info->RecordListCount();
  if (FIsGroupDataSorted) {
    Integer Lo = 0, Hi = N;
    while (Lo < Hi) {
      const Integer Mid = Lo + (Hi - Lo) / 2;
      if (Compare(Info->GetInternalRecordIndex(Mid)) > 0)
        Lo = Mid + 1;
      else
        Hi = Mid;
    }
    return Lo < N && Compare(Info->GetInternalRecordIndex(Lo)) == 0 ? Info->GetInternalRecordIndex(Lo) : -1;
  }
  for (Integer P = 0; P < N; ++P)
    if (Compare(Info->GetInternalRecordIndex(P)) == 0) return Info->GetInternalRecordIndex(P);
  return -1;
}

// --- The controller's key operations ------------------------------------------------------

Variant TvlCustomDataController::GetRecordKeyValue(Integer ARecordIndex,
                                                   const std::vector<TvlCustomDataField*>& AKeyFields) {
  if (AKeyFields.empty()) {
    TvlCustomDataSource* Source = IsProviderMode() ? CustomDataSource() : nullptr;
    return Source ? Source->GetRecordId(Source->GetRecordHandleByIndex(ARecordIndex)) : Null();
  }
  if (AKeyFields.size() == 1) return GetValue(ARecordIndex, AKeyFields[0]);
  const Integer N = static_cast<Integer>(AKeyFields.size());
  Variant Result = VarArrayCreate({0, N - 1}, varVariant);
  for (Integer I = 0; I < N; ++I) VarArrayPut(Result, GetValue(ARecordIndex, AKeyFields[I]), {I});
  return Result;
}

Integer TvlCustomDataController::GetDetailActiveRelationIndex(Integer ARecordIndex) {
  if (!FRelations || FRelations->Count() == 0) return -1;
  TvlDetailObject* D = FRelations->GetDetailObject(ARecordIndex);
  return D ? D->ActiveRelationIndex() : -1;
}

void TvlCustomDataController::ChangeDetailActiveRelationIndex(Integer ARecordIndex, Integer ARelationIndex) {
  if (!FRelations || FRelations->Count() == 0 || GetDetailActiveRelationIndex(ARecordIndex) == ARelationIndex) return;
  PostPendingEdit();
  if (TvlDetailObject* D = FRelations->GetDetailObject(ARecordIndex)) {
    D->SetActiveRelationIndex(ARelationIndex);
    Change(dccDetail);
  }
}

void TvlCustomDataController::SaveKeys() {
  if (FSaveKeysCount++ != 0) return;
  BeginFullUpdate();
  if (!FSaveObject) FSaveObject = New<TvlSaveObject>();
  FSaveObject->Save(this);
}

void TvlCustomDataController::RestoreKeys() {
  if (FSaveKeysCount == 0 || --FSaveKeysCount != 0) return;
  Finally Done([&] {
    Free(FSaveObject);
    FSaveObject = nullptr;
    EndFullUpdate();
  });
  FSaveObject->Restore(this);
}
