// The controller's master-detail (relations, detail controllers, patterns),
// its stream and its grouping face.
#include "lib/data/vlDataController.h"

#include <cstring>

#include "lib/data/vlDataConsts.h"
#include "lib/data/vlDataControllerPrivate.h"
#include "lib/foundation/vlVariants.h"
#include "platform/classes/Streams.h"
#include "platform/rtl/Finally.h"

CL_IMPLEMENT_CLASS(TvlDataControllerGroups)

using vl_data_controller::DataError;

namespace {

const AnsiString kStreamSignature = "DataController1";
const char16_t* const kStreamTextMark = u";Text";

}  // namespace

// --- Master-detail -----------------------------------------------------------------

TvlCustomDataRelationList* TvlCustomDataController::Relations() {
  if (!FRelations) FRelations = New<TvlCustomDataRelationList>(static_cast<IvlDataController*>(this));
  return FRelations;
}

TvlCustomDataRelationClass TvlCustomDataController::GetRelationClass() { return ClassOf<TvlCustomDataRelation>(); }

TvlDataSummaryItemClass TvlCustomDataController::GetSummaryItemClass() { return ClassOf<TvlDataSummaryItem>(); }

TvlDataSummaryGroupItemLinkClass TvlCustomDataController::GetSummaryGroupItemLinkClass() {
  return ClassOf<TvlDataSummaryGroupItemLink>();
}

TvlDataControllerDetailMode TvlCustomDataController::DetailMode() {
  // A data-change reference makes a pattern work as a normal controller.
  if (FMasterRelation)
    return FMasterRecordIndex != -1 ? dcdmClone : (FDataChangeRefCount == 0 ? dcdmPattern : dcdmNone);
  return FIsPattern ? dcdmPattern : dcdmNone;
}

Boolean TvlCustomDataController::IsPattern() { return DetailMode() == dcdmPattern; }

void TvlCustomDataController::SetIsPattern(Boolean Value) {
  // Never refused: while data-change references are held the request is
  // kept and applied when the last one goes.
  Boolean Old = IsPattern();
  FIsPatternSave = Value;
  FIsPattern = Value && FDataChangeRefCount == 0;
  if (IsPattern() != Old && !IsOwnerDestroying()) RebuildData();
}

void TvlCustomDataController::AddDataChangeRefCount() {
  Boolean Old = IsPattern();
  ++FDataChangeRefCount;
  FIsPattern = false;
  if (IsPattern() != Old && !IsOwnerDestroying()) RebuildData();
}

void TvlCustomDataController::RemoveDataChangeRefCount() {
  if (FDataChangeRefCount == 0) return;
  Boolean Old = IsPattern();
  --FDataChangeRefCount;
  FIsPattern = FIsPatternSave && FDataChangeRefCount == 0;
  if (IsPattern() != Old && !IsOwnerDestroying()) RebuildData();
}

TvlCustomDataController* TvlCustomDataController::GetMasterDataController() const {
  return FMasterRelation ? dynamic_cast<TvlCustomDataController*>(FMasterRelation->DataController()) : nullptr;
}

TvlCustomDataController* TvlCustomDataController::GetRootDataController() {
  TvlCustomDataController* Root = this;
  while (TvlCustomDataController* Master = Root->GetMasterDataController()) Root = Master;
  return Root;
}

namespace {

// Depth first through the patterns: the detail controller of the first
// relation for AItem.
TvlCustomDataController* FindPatternByItem(TvlCustomDataController* AController, TObject* AItem, Integer ADepth) {
  if (ADepth > 64 || AController->Relations()->Count() == 0) return nullptr;
  TvlCustomDataRelationList* List = AController->Relations();
  for (Integer I = 0; I < List->Count(); ++I) {
    auto* Detail = dynamic_cast<TvlCustomDataController*>(List->Items(I)->DetailDataController());
    if (!Detail) continue;
    if (List->Items(I)->Item() == AItem) return Detail;
    if (TvlCustomDataController* Found = FindPatternByItem(Detail, AItem, ADepth + 1)) return Found;
  }
  return nullptr;
}

}  // namespace

TvlCustomDataController* TvlCustomDataController::GetPatternDataController() {
  if (!FMasterRelation) return this;
  TvlCustomDataController* Found = FindPatternByItem(GetRootDataController(), FMasterRelation->Item(), 0);
  return Found ? Found : this;
}

TvlCustomDataController* TvlCustomDataController::ExistingDetailDataController(Integer ARecordIndex,
                                                                               Integer ARelationIndex) {
  if (!FRelations || ARelationIndex < 0 || ARelationIndex >= FRelations->Count() || ARecordIndex < 0 ||
      ARecordIndex >= RecordCount() || !FRelations->IsDetailObjectExist(ARecordIndex, ARelationIndex))
    return nullptr;
  TObject* Link = FRelations->GetDetailObject(ARecordIndex)->LinkObjects(ARelationIndex);
  return dynamic_cast<TvlCustomDataController*>(GetDetailDataControllerByLinkObject(Link));
}

TvlCustomDataController* TvlCustomDataController::GetDetailDataController(Integer ARecordIndex,
                                                                          Integer ARelationIndex) {
  return dynamic_cast<TvlCustomDataController*>(
      GetDetailDataControllerByLinkObject(GetDetailLinkObject(ARecordIndex, ARelationIndex)));
}

Boolean TvlCustomDataController::IsDetailDataControllerExist(Integer ARecordIndex, Integer ARelationIndex) {
  return FRelations && ARelationIndex >= 0 && ARelationIndex < FRelations->Count() && ARecordIndex >= 0 &&
         ARecordIndex < RecordCount() && FRelations->IsDetailObjectExist(ARecordIndex, ARelationIndex);
}

void TvlCustomDataController::ClearDetailLinkObject(Integer ARecordIndex, Integer ARelationIndex) {
  if (!FRelations || ARecordIndex < 0 || ARecordIndex >= RecordCount()) return;
  if (!FRelations->IsDetailObjectExist(ARecordIndex, ARelationIndex)) return;
  if (FRelations->ClearDetailObject(ARecordIndex, ARelationIndex)) Change(dccDetail);
}

void TvlCustomDataController::CollapseDetails() {
  if (!FRelations || FRelations->Count() == 0) return;
  PostPendingEdit();
  BeginUpdate();
  Finally End([&] { EndUpdate(); });
  for (Integer R = 0; R < RecordCount(); ++R) {
    FRelations->ClearDetailObject(R, -1);
    if (FRelations->IsDetailObjectExist(R, -1) || GetDetailExpanding(R)) {
      FRelations->GetDetailObject(R)->SetExpanded(false);
      Change(dccDetail);
    }
  }
}

void TvlCustomDataController::FocusDetails(Integer ARecordIndex) {
  Integer Relation = GetDetailActiveRelationIndex(ARecordIndex);
  TvlCustomDataController* Detail = ExistingDetailDataController(ARecordIndex, Relation);
  if (!Detail) return;
  Detail->BeginUpdate();
  Finally End([&] { Detail->EndUpdate(); });
  Detail->DataControllerInfo()->CheckFocusedRow();
}

void TvlCustomDataController::ForEachDetail(TvlCustomDataRelation* AMasterRelation,
                                            const TvlDataControllerEachDetailProc& AProc) {
  // The relation indexes from the root down to AMasterRelation.
  std::vector<Integer> Chain;
  for (TvlCustomDataRelation* Rel = AMasterRelation; Rel && Chain.size() <= 64;) {
    Chain.insert(Chain.begin(), Rel->Index());
    auto* Owner = dynamic_cast<TvlCustomDataController*>(Rel->DataController());
    Rel = Owner ? Owner->MasterRelation() : nullptr;
  }
  if (Chain.empty() || Chain.front() < 0) return;
  struct TWalk {
    const std::vector<Integer>& Chain;
    const TvlDataControllerEachDetailProc& Proc;
    void Run(TvlCustomDataController* AController, size_t APos) {
      const Integer Relation = Chain[APos];
      for (Integer R = 0; R < AController->RecordCount(); ++R) {
        TvlCustomDataController* Detail = AController->ExistingDetailDataController(R, Relation);
        // A detail being attached right now has no link object yet.
        TvlCustomDataController* Creating = AController->CreatingDataController();
        if (!Detail && Creating && Creating->MasterRecordIndex() == R && Creating->MasterRelation() &&
            Creating->MasterRelation()->Index() == Relation)
          Detail = Creating;
        if (!Detail) continue;
        if (APos + 1 == Chain.size())
          Proc(Detail);
        else
          Run(Detail, APos + 1);
      }
    }
  } Walk{Chain, AProc};
  Walk.Run(GetRootDataController(), 0);
}

void TvlCustomDataController::ResetRelationByItem(TObject* AItem) {
  if (FRelations && FRelations->FindByItem(AItem)) {
    ClearDetails();
    return;
  }
  if (!FRelations) return;
  for (Integer R = 0; R < RecordCount(); ++R)
    for (Integer I = 0; I < FRelations->Count(); ++I)
      if (TvlCustomDataController* Detail = ExistingDetailDataController(R, I)) Detail->ResetRelationByItem(AItem);
}

void TvlCustomDataController::SetMasterMode(TvlCustomDataRelation* AMasterRelation, Boolean AIsPattern) {
  BeginFullUpdate();
  Finally End([&] { EndFullUpdate(); });
  SetMasterRelation(AMasterRelation, -1);
  SetIsPattern(AIsPattern);
}

void TvlCustomDataController::SetMasterRelation(TvlCustomDataRelation* AMasterRelation, Integer AMasterRecordIndex) {
  if (!FMasterRelation && !AMasterRelation && FMasterRecordIndex == -1 && AMasterRecordIndex == -1) return;
  BeginUpdate();
  Finally End([&] { EndUpdate(); });
  if (FMasterRelation) {
    if (AMasterRecordIndex == -1 && FMasterRelation->DetailDataController() == static_cast<IvlDataController*>(this))
      FMasterRelation->SetDetailDataController(nullptr);
    else
      SetCustomDataSource(nullptr);  // a clone's source was its pattern's
    if (TvlCustomDataController* OldMaster = GetMasterDataController();
        OldMaster && OldMaster->FCreatingDataController == this)
      OldMaster->FCreatingDataController = nullptr;
    if (FRelations && FRelations->Count() > 0) FRelations->Changed(nullptr);
  }
  FMasterRelation = AMasterRelation;
  if (AMasterRelation && AMasterRecordIndex == -1) {
    AMasterRelation->SetDetailDataController(this);
    AMasterRelation->Changed();
  }
  FMasterRecordIndex = AMasterRecordIndex;
  if (AMasterRelation && AMasterRecordIndex != -1) {
    // A clone reads its records from its pattern's source.
    TvlCustomDataController* Pattern = GetPatternDataController();
    if (Pattern != this) SetCustomDataSource(Pattern->Provider()->CustomDataSource());
    if (TvlCustomDataController* Master = GetMasterDataController()) Master->FCreatingDataController = this;
  }
  LayoutChanged(0x02);
}

void TvlCustomDataController::ClearDetails() {
  if (!FRelations) return;
  BeginUpdate();
  Finally End([&] { EndUpdate(); });
  for (Integer R = 0; R < RecordCount(); ++R) FRelations->ClearDetailObject(R, -1);
}

void TvlCustomDataController::RelationsChanged(TvlCustomDataRelation*) {
  if (FDestroying) return;
  // A pattern's relations changed: its clones drop their details.
  if (IsPattern()) {
    if (FMasterRelation) GetRootDataController()->ResetRelationByItem(FMasterRelation->Item());
  } else {
    Change(dccData);
  }
}

Boolean TvlCustomDataController::GetDetailExpanding(Integer ARecordIndex) {
  if (!FRelations || FRelations->Count() == 0) return false;
  TvlDetailObject* D = FRelations->GetDetailObject(ARecordIndex);
  return D && D->Expanded();
}

Boolean TvlCustomDataController::ChangeDetailExpanding(Integer ARecordIndex, Boolean AExpanded) {
  if (ARecordIndex >= 0 && ARecordIndex < RecordCount() && GetDetailExpanding(ARecordIndex) == AExpanded) return true;
  FIsDetailExpanding = true;
  Finally Clear([&] { FIsDetailExpanding = false; });
  PostPendingEdit();
  if (ARecordIndex < 0 || ARecordIndex >= RecordCount() || !FRelations || FRelations->Count() == 0) return false;
  TvlDetailObject* D = FRelations->GetDetailObject(ARecordIndex);
  if (!D) return false;
  if (!DoDetailExpanding(ARecordIndex, AExpanded)) return false;
  // The handler may have changed the records: the detail object is read again.
  if (ARecordIndex >= RecordCount() || !(D = FRelations->GetDetailObject(ARecordIndex))) return false;
  D->SetExpanded(AExpanded);
  TvlCustomDataController* Master = GetMasterDataController();
  if (!Master || Master->LockCount() == 0) Change(dccDetail);
  const TvlDataDetailExpandedEvent& Done = AExpanded ? FOnDetailExpanded : FOnDetailCollapsed;
  if (Assigned(Done)) Done(this, ARecordIndex);
  return true;
}

Boolean TvlCustomDataController::DoDetailExpanding(Integer ARecordIndex, Boolean AExpanded) {
  Boolean Allow = true;
  const TvlDataDetailExpandingEvent& Asking = AExpanded ? FOnDetailExpanding : FOnDetailCollapsing;
  if (Assigned(Asking)) Asking(this, ARecordIndex, Allow);
  return Allow;
}

TObject* TvlCustomDataController::CreateDetailLinkObject(TvlCustomDataRelation*, Integer) { return nullptr; }

TObject* TvlCustomDataController::GetDetailLinkObject(Integer ARecordIndex, Integer ARelationIndex) {
  if (!FRelations || ARelationIndex < 0 || ARelationIndex >= FRelations->Count()) return nullptr;
  TvlDetailObject* D = FRelations->GetDetailObject(ARecordIndex);
  if (!D) return nullptr;
  if (TObject* L = D->LinkObjects(ARelationIndex)) return L;
  if (FCreatingLinkObject) return nullptr;
  TObject* L = nullptr;
  {
    TvlCustomDataController* Pattern = GetPatternDataController();
    FCreatingLinkObject = true;
    Pattern->FCreatingLinkObject = true;
    Finally Clear([&] {
      FCreatingLinkObject = false;
      Pattern->FCreatingLinkObject = false;
    });
    L = CreateDetailLinkObject(FRelations->Items(ARelationIndex), ARecordIndex);
    FCreatingDataController = nullptr;
    // The master record may have gone while the link was made.
    if (L && (ARecordIndex < 0 || ARecordIndex >= RecordCount() || FRelations->GetDetailObject(ARecordIndex) != D)) {
      Free(L);
      L = nullptr;
    }
    if (L) D->AssignLinkObject(ARelationIndex, L);
  }
  if (!L && !FRecreatingLinkObject && ARecordIndex >= 0 && ARecordIndex < RecordCount()) {
    FRecreatingLinkObject = true;
    Finally Clear([&] { FRecreatingLinkObject = false; });
    L = GetDetailLinkObject(ARecordIndex, ARelationIndex);
  }
  return L;
}

Boolean TvlCustomDataController::GetDetailHasChildren(Integer ARecordIndex, Integer ARelationIndex) {
  if (!FRelations || ARelationIndex < 0 || ARelationIndex >= FRelations->Count()) return false;
  TvlDetailObject* D = FRelations->GetDetailObject(ARecordIndex);
  if (D && D->LinkObjects(ARelationIndex)) {
    auto* Detail =
        dynamic_cast<TvlCustomDataController*>(GetDetailDataControllerByLinkObject(D->LinkObjects(ARelationIndex)));
    if (Detail) return Detail->RecordCount() > 0;
  }
  if (!IsProviderMode() && !IsActiveDataSet()) return false;
  if (!D) return true;
  if (ARelationIndex >= D->InfoObjectCount() || !D->InfoObjects(ARelationIndex)) D->AssignLinkObject(ARelationIndex, nullptr);
  TvlDetailInfoObject* Info = D->InfoObjects(ARelationIndex);
  if (!Info->HasChildrenAssigned) {
    Info->HasChildren = FProvider->GetDetailHasChildren(ARecordIndex, ARelationIndex);
    Info->HasChildrenAssigned = true;
  }
  return Info->HasChildren;
}

void TvlCustomDataController::ResetHasChildrenFlag() {
  if (!FRelations || FRelations->Count() == 0) return;
  Boolean Any = false;
  for (Integer R = 0; R < RecordCount(); ++R)
    if (TvlDetailObject* D = FRelations->GetDetailObject(R)) Any = D->ClearHasChildrenFlag() || Any;
  if (Any) FDataControllerInfo->RefreshView();
}

void TvlCustomDataController::RecordInserted(Integer ARecordIndex) {
  if (!FRelations || FRelations->Count() == 0) return;
  for (Integer R = ARecordIndex + 1; R < RecordCount(); ++R)
    for (Integer I = 0; I < FRelations->Count(); ++I)
      if (FRelations->IsDetailObjectExist(R, I))
        if (auto* Detail = dynamic_cast<TvlCustomDataController*>(
                GetDetailDataControllerByLinkObject(FRelations->GetDetailObject(R)->LinkObjects(I))))
          ++Detail->FMasterRecordIndex;
}

void TvlCustomDataController::RecordDeleted(Integer ARecordIndex) {
  CheckEditingRecord(ARecordIndex);
  if (!FRelations || FRelations->Count() == 0) return;
  for (Integer R = ARecordIndex; R < RecordCount(); ++R)
    for (Integer I = 0; I < FRelations->Count(); ++I)
      if (FRelations->IsDetailObjectExist(R, I))
        if (auto* Detail = dynamic_cast<TvlCustomDataController*>(
                GetDetailDataControllerByLinkObject(FRelations->GetDetailObject(R)->LinkObjects(I))))
          --Detail->FMasterRecordIndex;
}

// --- The stream -----------------------------------------------------------------------

void TvlCustomDataController::SaveToStream(TStream* AStream) {
  // Item definitions in field order; in provider mode the values come from
  // the data source into a scratch storage of the same layout, so that the
  // stream reads back like any other.
  std::vector<TvlCustomDataField*> Items;
  for (Integer I = 0; I < GetItemCount(); ++I)
    if (FFields->Items(I)->ValueDef()) Items.push_back(FFields->Items(I));
  TvlDataStorage* Scratch = New<TvlDataStorage>();
  Finally FreeScratch([&] { Free(Scratch); });
  // Text-stored items (a display format) keep their display texts too.
  auto Texts = [&](TvlCustomDataField* F) { return !IsProviderMode() && F->ValueDef()->TextStored(); };
  for (TvlCustomDataField* F : Items) Scratch->ValueDefs()->Add(F->ValueTypeClass(), true, Texts(F), nullptr);
  const Integer N = RecordCount();
  Scratch->SetRecordCount(N);
  for (Integer R = 0; R < N; ++R)
    for (size_t I = 0; I < Items.size(); ++I) {
      TvlValueDef* D = Scratch->ValueDefs()->Items(static_cast<Integer>(I));
      Scratch->SetValue(R, D, GetValue(R, Items[I]));
      if (D->TextStored()) Scratch->SetDisplayText(R, D, FDataStorage->GetDisplayText(R, Items[I]->ValueDef()));
    }
  for (Integer I = 0; I < Scratch->ValueDefs()->Count(); ++I) Scratch->ValueDefs()->Items(I)->SetStreamStored(true);
  vlStreamWriteAnsiString(AStream, kStreamSignature);
  vlStreamWriteInteger(AStream, static_cast<Integer>(Items.size()));
  // A text-stored item's type name ends in kStreamTextMark.
  for (TvlCustomDataField* F : Items) {
    String Name = F->ValueTypeClass()->ClassName();
    if (Texts(F)) Name += kStreamTextMark;
    vlStreamWriteAnsiString(AStream, AnsiString(Name.begin(), Name.end()));
  }
  vlStreamWriteInteger(AStream, N);
  for (Integer R = 0; R < N; ++R) Scratch->WriteData(R, AStream);
}

void TvlCustomDataController::LoadFromStream(TStream* AStream) {
  if (IsProviderMode()) DataError(vlSDataProviderModeError);
  std::vector<TvlCustomDataField*> Items;
  for (Integer I = 0; I < FFields->Count(); ++I) {
    TvlCustomDataField* F = FFields->Items(I);
    if (F->ValueDef() && !F->IsInternal()) Items.push_back(F);
  }
  AnsiString Signature;
  vlStreamReadAnsiString(AStream, Signature);
  if (Signature != kStreamSignature) DataError(vlSDataInvalidStreamFormat);
  Integer Count = vlStreamGetInteger(AStream);
  if (Count != static_cast<Integer>(Items.size())) DataError(vlSDataInvalidStreamFormat);
  std::vector<Boolean> StreamTexts;
  for (TvlCustomDataField* F : Items) {
    AnsiString Name;
    vlStreamReadAnsiString(AStream, Name);
    String Text(Name.begin(), Name.end());
    const String Mark = kStreamTextMark;
    const Boolean WithTexts = Text.size() > Mark.size() && Text.compare(Text.size() - Mark.size(), Mark.size(), Mark) == 0;
    if (WithTexts) Text.resize(Text.size() - Mark.size());
    if (Text != F->ValueTypeClass()->ClassName()) DataError(vlSDataInvalidStreamFormat);
    StreamTexts.push_back(WithTexts);
  }
  const Integer N = vlStreamGetInteger(AStream);
  // Each record takes at least its signature; a count beyond the bytes left
  // is damage.
  if (N < 0 || N > (AStream->Size() - AStream->Position())) DataError(vlSDataInvalidStreamFormat);
  // Read into a scratch storage first: a stream that fails midway leaves
  // the controller as it was.
  TvlDataStorage* Scratch = New<TvlDataStorage>();
  Finally FreeScratch([&] { Free(Scratch); });
  for (size_t I = 0; I < Items.size(); ++I)
    Scratch->ValueDefs()->Add(Items[I]->ValueTypeClass(), true, StreamTexts[I], nullptr);
  for (Integer I = 0; I < Scratch->ValueDefs()->Count(); ++I) Scratch->ValueDefs()->Items(I)->SetStreamStored(true);
  Scratch->SetRecordCount(N);
  for (Integer R = 0; R < N; ++R) {
    // A record starts with its payload signature; a stream cut inside it
    // is damage, not a record of other bytes.
    char Sig[6];
    if (AStream->Size() - AStream->Position() < 7) DataError(vlSDataInvalidStreamFormat);
    AStream->ReadBuffer(Sig, 6);
    AStream->Seek(-6, soCurrent);
    if (std::memcmp(Sig, "NBUFMT", 6) != 0 && std::memcmp(Sig, "NBAFMT", 6) != 0)
      DataError(vlSDataInvalidStreamFormat);
    Scratch->ReadData(R, AStream);
  }
  BeginUpdate();
  Finally End([&] { EndUpdate(); });
  FDataControllerInfo->Selection()->ClearAll();
  FProvider->ResetEditing();
  FDataStorage->SetRecordCount(0);
  FDataStorage->SetRecordCount(N);
  for (Integer R = 0; R < N; ++R)
    for (size_t I = 0; I < Items.size(); ++I) {
      TvlValueDef* D = Scratch->ValueDefs()->Items(static_cast<Integer>(I));
      FDataStorage->SetValue(R, Items[I]->ValueDef(), Scratch->GetValue(R, D));
      if (D->TextStored() && Items[I]->ValueDef()->TextStored())
        FDataStorage->SetDisplayText(R, Items[I]->ValueDef(), Scratch->GetDisplayText(R, D));
    }
  CheckBookmarkValid(-1);
  FDataControllerInfo->Refresh();
}

// --- Grouping face --------------------------------------------------------------------

TvlCustomDataControllerInfo* TvlDataControllerGroups::Info() const { return FDataController->DataControllerInfo(); }

void TvlDataControllerGroups::ChangeExpanding(Integer ARowIndex, Boolean AExpanded, Boolean ARecursive) {
  Info()->ChangeExpanding(ARowIndex, AExpanded, ARecursive);
}
void TvlDataControllerGroups::FullCollapse() { Info()->FullCollapse(); }
void TvlDataControllerGroups::FullExpand() { Info()->FullExpand(); }
void TvlDataControllerGroups::ChangeGrouping(Integer AItemIndex, Integer AGroupIndex) {
  FDataController->ChangeGrouping(AItemIndex, AGroupIndex);
}
void TvlDataControllerGroups::ClearGrouping() { FDataController->ClearGrouping(); }
Integer TvlDataControllerGroups::GroupingItemCount() const { return Info()->GroupingFieldList()->Count(); }

Integer TvlDataControllerGroups::ItemOfGroupingLevel(Integer AIndex) const {
  return Info()->GroupingFieldList()->Items(AIndex).Field->Index();
}

Integer TvlDataControllerGroups::GetItemGroupIndex(Integer AItemIndex) const {
  return Info()->GroupingFieldList()->GroupIndexByField(FDataController->GetItemField(AItemIndex));
}

Integer TvlDataControllerGroups::GroupIndexOfRow(Integer ARowIndex) const {
  return Info()->DataGroups()->GetIndexByRowIndex(ARowIndex);
}
Integer TvlDataControllerGroups::GetLevel(Integer ADataGroupIndex) const {
  return Info()->DataGroups()->GetLevel(ADataGroupIndex);
}
Integer TvlDataControllerGroups::GetChildCount(Integer ADataGroupIndex) const {
  return Info()->DataGroups()->GetChildCount(ADataGroupIndex);
}
Integer TvlDataControllerGroups::GetChildDataGroupIndex(Integer ADataGroupIndex, Integer AIndex) const {
  return Info()->DataGroups()->GetChildIndex(ADataGroupIndex, AIndex);
}

Integer TvlDataControllerGroups::GetRecordIndexOfChild(Integer ADataGroupIndex, Integer AIndex) const {
  TvlDataGroups* G = Info()->DataGroups();
  if (ADataGroupIndex < 0 || ADataGroupIndex >= G->Count() || G->GetLevel(ADataGroupIndex) != G->LevelCount() - 1)
    return -1;
  TvlDataGroupInfo* I = G->Items(ADataGroupIndex);
  if (AIndex < 0 || AIndex > I->EndRecordListIndex - I->BeginRecordListIndex) return -1;
  return Info()->GetInternalRecordIndex(I->BeginRecordListIndex + AIndex);
}

Integer TvlDataControllerGroups::GetFirstRecordOfGroup(Integer ADataGroupIndex) const {
  TvlDataGroups* G = Info()->DataGroups();
  if (ADataGroupIndex < 0 || ADataGroupIndex >= G->Count()) return -1;
  return Info()->GetInternalRecordIndex(G->GetDataRecordListIndex(ADataGroupIndex));
}

Variant TvlDataControllerGroups::GetGroupValue(Integer ADataGroupIndex) const {
  Integer R = GetFirstRecordOfGroup(ADataGroupIndex);
  if (R < 0) return Null();
  TvlCustomDataField* F = Info()->DataGroups()->Fields(GetLevel(ADataGroupIndex));
  return FDataController->GetGroupValue(R, F);
}

Integer TvlDataControllerGroups::GetDataGroupIndexByGroupValue(Integer AParentDataGroupIndex,
                                                               const Variant& AValue) const {
  for (Integer I = 0; I < GetChildCount(AParentDataGroupIndex); ++I) {
    Integer G = GetChildDataGroupIndex(AParentDataGroupIndex, I);
    if (G >= 0 && vlVariantsEqual(GetGroupValue(G), AValue)) return G;
  }
  return -1;
}

Boolean TvlDataControllerGroups::HasAsParent(Integer ARowIndex, Integer AParentRowIndex) const {
  if (!Info()->IsGrouped()) return false;
  TvlDataGroups* G = Info()->DataGroups();
  Integer Child = G->GetIndexByRowIndex(ARowIndex), Parent = G->GetIndexByRowIndex(AParentRowIndex);
  if (Child < 0 || Parent < 0) return false;
  if (Child == Parent) return true;
  if (G->GetLevel(Parent) >= G->GetLevel(Child)) return false;
  return Child >= G->Items(Parent)->BeginRecordListIndex && Child <= G->Items(Parent)->EndRecordListIndex;
}

void TvlDataControllerGroups::LoadRecordIndexes(std::vector<Integer>& AList, Integer ADataGroupIndex) const {
  TvlDataGroups* G = Info()->DataGroups();
  if (ADataGroupIndex < 0 || ADataGroupIndex >= G->Count()) return;
  Integer Last = ADataGroupIndex;
  while (Last + 1 < G->Count() && G->Items(Last + 1)->Level > G->Items(ADataGroupIndex)->Level) ++Last;
  for (Integer P = G->GetDataRecordListIndex(ADataGroupIndex); P <= G->Items(Last)->EndRecordListIndex; ++P)
    AList.push_back(Info()->GetInternalRecordIndex(P));
}
