#include "lib/data/vlCustomData.h"

#include <algorithm>

#include "lib/data/vlFilterConsts.h"
#include "platform/classes/Filer.h"
#include "platform/classes/TypInfoBuild.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Finally.h"

CL_IMPLEMENT_CLASS(TvlCustomDataField)
CL_IMPLEMENT_CLASS(TvlCustomDataFieldList)
CL_IMPLEMENT_CLASS(TvlValueDefUnboundReader)
CL_IMPLEMENT_CLASS(TvlValueDefRecordReader)
CL_IMPLEMENT_CLASS(TvlDataControllerNotifier)
CL_IMPLEMENT_CLASS(TvlDetailInfoObject)
CL_IMPLEMENT_CLASS(TvlDetailObject)
CL_IMPLEMENT_CLASS(TvlCustomDataRelation)
CL_IMPLEMENT_CLASS(TvlCustomDataRelationList)
CL_IMPLEMENT_CLASS(TvlDataFilterCriteriaItem)
CL_IMPLEMENT_CLASS(TvlDataFilterValueList)
CL_IMPLEMENT_CLASS_PUBLISHED(TvlDataFilterCriteria, P) {
  P.Property(u"Active", &TvlDataFilterCriteria::Active, &TvlDataFilterCriteria::SetActive).Default(false);
  P.Property(u"OnGetValueList", &TvlDataFilterCriteria::OnGetValueList, &TvlDataFilterCriteria::SetOnGetValueList);
}
CL_IMPLEMENT_CLASS(TvlDataFilterList)

// --- TvlCustomDataField -------------------------------------------------------------------

void TvlCustomDataField::TakeOverValueDef(TvlCustomDataField* ASource) {
  FValueDef = ASource->FValueDef;
  if (FValueDef) FValueDef->SetLinkObject(this);
  FValueTypeClass = ASource->FValueTypeClass;
  FTextStored = ASource->FTextStored;
  FReferenceField = nullptr;
  ASource->FValueDef = nullptr;
  ASource->FValueTypeClass = nullptr;
}

void TvlCustomDataField::ComponentRemoved(TComponent* AComponent) {}

void TvlCustomDataField::Create(TvlCustomDataFieldList* AFieldList) {
  inherited::Create();
  FFieldList = AFieldList;
}

Boolean TvlCustomDataField::CanModify(Integer AEditValueSource) {
  return ValueDef() != nullptr || DataController()->IsProviderMode();
}

Boolean TvlCustomDataField::IsUnbound() { return false; }
Boolean TvlCustomDataField::IsValueDefInternal() { return FIsInternal; }

void TvlCustomDataField::Destroy() {
  if (FFieldList) FFieldList->Remove(this);
  ReleaseValueDef();
  inherited::Destroy();
}

void TvlCustomDataField::ReleaseValueDef() {
  if (FReferenceField) return;
  FreeAndNil(FValueDef);
}

void TvlCustomDataField::BuildValueDef() {
  if (FReferenceField || !FValueTypeClass.Class()) return;
  ReleaseValueDef();
  FValueDef = DataController()->DataStorage()->ValueDefs()->Add(FValueTypeClass, IsValueDefInternal(), FTextStored,
                                                                 this);
}

void TvlCustomDataField::BeginValueDefChange() {
  if (FLockRecreateData++ == 0) ReleaseValueDef();
}

void TvlCustomDataField::EndValueDefChange() {
  if (FLockRecreateData > 0 && --FLockRecreateData == 0) BuildValueDef();
}

void TvlCustomDataField::NotifyStructureChanged() { DataController()->ProviderLayoutChanged(); }

Integer TvlCustomDataField::Index() const { return FFieldList->IndexOf(const_cast<TvlCustomDataField*>(this)); }

void TvlCustomDataField::SetIndex(Integer Value) { FFieldList->Move(Index(), Value); }

void TvlCustomDataField::SetIsInternal(Boolean Value) {
  if (FIsInternal == Value) return;
  FIsInternal = Value;
  FFieldList->Recount();
}

void TvlCustomDataField::SetReferenceField(TvlCustomDataField* Value) {
  // Follow the chain to its end; a chain that comes back here is refused.
  TvlCustomDataField* Target = Value;
  while (Target && Target->FReferenceField) {
    if (Target == this) return;
    Target = Target->FReferenceField;
  }
  if (Target == this || Target == FReferenceField) return;
  if (!FReferenceField) {
    ReleaseValueDef();
    FValueTypeClass = nullptr;
  }
  FReferenceField = Target;
}

Boolean TvlCustomDataField::TextStored() const {
  return FReferenceField ? FReferenceField->TextStored() : FTextStored;
}

void TvlCustomDataField::SetTextStored(Boolean Value) {
  if (FReferenceField || FTextStored == Value) return;
  BeginValueDefChange();
  Finally End([&] { EndValueDefChange(); });
  FTextStored = Value;
}

TvlValueTypeClass TvlCustomDataField::ValueTypeClass() const {
  return FReferenceField ? FReferenceField->ValueTypeClass() : FValueTypeClass;
}

void TvlCustomDataField::SetValueTypeClass(TvlValueTypeClass Value) {
  if (FReferenceField || FValueTypeClass == Value) return;
  BeginValueDefChange();
  Finally End([&] { EndValueDefChange(); });
  FValueTypeClass = Value;
  FNeedConversion = Value.Class() && Value->IsString();
}

TvlValueDef* TvlCustomDataField::ValueDef() const {
  return FReferenceField ? FReferenceField->ValueDef() : FValueDef;
}

IvlDataController* TvlCustomDataField::DataController() const { return FFieldList->DataController(); }

TvlDataControllerNotifier* TvlCustomDataField::Notifier() const { return DataController()->Notifier(); }

// --- TvlCustomDataFieldList ------------------------------------------------------------------

void TvlCustomDataFieldList::ComponentRemoved(TComponent* AComponent) {
  for (Integer I = Count() - 1; I >= 0; --I)
    if (I < Count()) FItems[I]->ComponentRemoved(AComponent);
}

void TvlCustomDataFieldList::Create(IvlDataController* ADataController) {
  inherited::Create();
  FDataController = ADataController;
}

void TvlCustomDataFieldList::Destroy() {
  Clear();
  inherited::Destroy();
}

void TvlCustomDataFieldList::Add(TvlCustomDataField* AField) {
  if (AField->FIsInternal)
    FItems.push_back(AField);
  else
    FItems.insert(FItems.begin() + ItemCount(), AField);
  AField->FFieldList = this;
  Recount();
}

void TvlCustomDataFieldList::Remove(TvlCustomDataField* AField) {
  auto It = std::find(FItems.begin(), FItems.end(), AField);
  if (It == FItems.end()) return;
  FFieldDestroyed = true;
  ReassignFields(AField);
  FItems.erase(std::find(FItems.begin(), FItems.end(), AField));
  FDataController->FieldRemoved(AField);
  Recount();
}

void TvlCustomDataFieldList::ReassignFields(TvlCustomDataField* ADestroyedField) {
  TvlCustomDataField* Heir = nullptr;
  for (TvlCustomDataField* F : FItems) {
    if (F->FReferenceField != ADestroyedField) continue;
    if (!Heir) {
      Heir = F;
      F->TakeOverValueDef(ADestroyedField);
    } else {
      F->FReferenceField = Heir;
    }
  }
}

void TvlCustomDataFieldList::Clear() {
  while (!FItems.empty()) Free(FItems.back());
}

TvlCustomDataField* TvlCustomDataFieldList::FieldByItem(TObject* AItem) const {
  if (!AItem) return nullptr;
  for (TvlCustomDataField* F : FItems)
    if (F->FItem == AItem) return F;
  return nullptr;
}

Integer TvlCustomDataFieldList::IndexOf(TvlCustomDataField* AField) const {
  auto It = std::find(FItems.begin(), FItems.end(), AField);
  return It == FItems.end() ? -1 : static_cast<Integer>(It - FItems.begin());
}

void TvlCustomDataFieldList::Move(Integer ACurIndex, Integer ANewIndex) {
  if (ACurIndex == ANewIndex || ACurIndex < 0 || ANewIndex < 0 || ACurIndex >= Count() || ANewIndex >= Count()) return;
  TvlCustomDataField* F = FItems[ACurIndex];
  FItems.erase(FItems.begin() + ACurIndex);
  FItems.insert(FItems.begin() + ANewIndex, F);
}

void TvlCustomDataFieldList::Recount() {
  FInternalCount = static_cast<Integer>(std::count_if(FItems.begin(), FItems.end(),
                                                      [](TvlCustomDataField* F) { return F->FIsInternal; }));
}

Boolean IsValueDefInternal(TvlValueDef* AValueDef) {
  TObject* Link = AValueDef ? AValueDef->LinkObject() : nullptr;
  return Is<TvlCustomDataField>(Link) && static_cast<TvlCustomDataField*>(Link)->IsValueDefInternal();
}

// --- Readers ----------------------------------------------------------------------------------

void TvlValueDefUnboundReader::Destroy() {
  Clear();
  inherited::Destroy();
}

Variant TvlValueDefUnboundReader::GetValue(TvlValueDef* AValueDef) {
  if (auto* Twin = Is<TvlInternalValueDef>(AValueDef) ? static_cast<TvlInternalValueDef*>(AValueDef) : nullptr)
    AValueDef = Twin->GetValueDef();
  auto It = std::find(FItems.begin(), FItems.end(), AValueDef);
  if (It == FItems.end()) return Null();
  size_t I = It - FItems.begin();
  return I < FValues.size() && FValues[I] ? *FValues[I] : Null();
}

Boolean TvlValueDefUnboundReader::IsInternal(TvlValueDef* AValueDef) { return IsValueDefInternal(AValueDef); }

void TvlValueDefUnboundReader::SetValue(TvlValueDef* AValueDef, const Variant& AValue) {
  auto It = std::find(FItems.begin(), FItems.end(), AValueDef);
  size_t I = It - FItems.begin();
  if (It == FItems.end()) FItems.push_back(AValueDef);
  if (FValues.size() < FItems.size()) FValues.resize(FItems.size(), nullptr);
  if (FValues[I])
    *FValues[I] = AValue;
  else
    FValues[I] = new Variant(AValue);
}

void TvlValueDefUnboundReader::Truncate(Integer ACount) {
  while (static_cast<Integer>(FValues.size()) > std::max(ACount, 0)) {
    delete FValues.back();
    FValues.pop_back();
  }
}

void TvlValueDefRecordReader::Create(IvlDataController* ADataController, Integer ARecordIndex) {
  inherited::Create();
  FDataController = ADataController;
  FRecordIndex = ARecordIndex;
}

String TvlValueDefRecordReader::GetDisplayText(TvlValueDef* AValueDef) {
  auto* Field = static_cast<TvlCustomDataField*>(AValueDef->LinkObject());
  if (!Field || Field->IsInternal()) return String();
  return FDataController->GetDisplayText(FRecordIndex, Field);
}

Variant TvlValueDefRecordReader::GetValue(TvlValueDef* AValueDef) {
  return FDataController->GetValue(FRecordIndex, static_cast<TvlCustomDataField*>(AValueDef->LinkObject()));
}

Boolean TvlValueDefRecordReader::IsInternal(TvlValueDef* AValueDef) { return IsValueDefInternal(AValueDef); }

void TvlDataControllerNotifier::Notification(TComponent* AComponent, TOperation Operation) {
  inherited::Notification(AComponent, Operation);
  if (Operation != opRemove || !FDataController) return;
  if (AComponent == this && ComponentState().Contains(csDestroying)) return;
  FDataController->Fields()->ComponentRemoved(AComponent);
}

// --- Detail objects ------------------------------------------------------------------------------

void TvlDetailInfoObject::Destroy() {
  FreeAndNil(LinkObject);
  inherited::Destroy();
}

void TvlDetailObject::Create() {
  inherited::Create();
  FActiveRelationIndex = -1;
}

void TvlDetailObject::Destroy() {
  Clear();
  inherited::Destroy();
}

void TvlDetailObject::Clear() {
  for (TvlDetailInfoObject* Info : FInfoObjects) Free(Info);
  FInfoObjects.clear();
}

void TvlDetailObject::ClearInfoObject(Integer AIndex) {
  if (AIndex < 0 || AIndex >= InfoObjectCount()) return;
  FreeAndNil(FInfoObjects[AIndex]);
}

Boolean TvlDetailObject::ClearHasChildrenFlag() {
  Boolean Result = false;
  for (TvlDetailInfoObject* Info : FInfoObjects)
    if (Info && Info->HasChildrenAssigned) {
      Info->HasChildrenAssigned = false;
      Result = true;
    }
  return Result;
}

TvlDetailInfoObject* TvlDetailObject::InfoObjects(Integer AIndex) const {
  return AIndex >= 0 && AIndex < InfoObjectCount() ? FInfoObjects[AIndex] : nullptr;
}

TObject* TvlDetailObject::LinkObjects(Integer AIndex) const {
  TvlDetailInfoObject* Info = InfoObjects(AIndex);
  return Info ? Info->LinkObject : nullptr;
}

Boolean TvlDetailObject::IsEmpty() const {
  for (Integer I = 0; I < InfoObjectCount(); ++I)
    if (LinkObjects(I)) return false;
  return true;
}

void TvlDetailObject::SetInfoObjectCount(Integer ACount) {
  while (InfoObjectCount() > ACount) {
    Free(FInfoObjects.back());
    FInfoObjects.pop_back();
  }
  if (InfoObjectCount() < ACount) FInfoObjects.resize(ACount, nullptr);
}

void TvlDetailObject::SetInfoObject(Integer AIndex, TvlDetailInfoObject* AInfo) {
  if (AIndex < 0) return;
  if (AIndex >= InfoObjectCount()) SetInfoObjectCount(AIndex + 1);
  FInfoObjects[AIndex] = AInfo;
}

void TvlDetailObject::AssignLinkObject(Integer AIndex, TObject* AObject) {
  if (AIndex < 0) return;
  if (AIndex >= InfoObjectCount()) SetInfoObjectCount(AIndex + 1);
  if (!FInfoObjects[AIndex]) FInfoObjects[AIndex] = New<TvlDetailInfoObject>();
  FInfoObjects[AIndex]->LinkObject = AObject;
}

// --- Relations -----------------------------------------------------------------------------------

void TvlCustomDataRelation::FieldRemoved(TvlCustomDataField* AField) {}

void TvlCustomDataRelation::Create(TvlCustomDataRelationList* ARelationList, TObject* AItem) {
  inherited::Create();
  FItem = AItem;
  FRelationList = ARelationList;
  FRelationList->FItems.push_back(this);
  FRelationList->Changed(this);
}

void TvlCustomDataRelation::Assign(TvlCustomDataRelation* ASource) {}

void TvlCustomDataRelation::Destroy() {
  if (FDetailDataController) {
    FDetailDataController->SetMasterMode(nullptr, FDetailDataController->IsPattern());
    FDetailDataController = nullptr;
  }
  if (FRelationList) {
    auto& Items = FRelationList->FItems;
    auto It = std::find(Items.begin(), Items.end(), this);
    if (It != Items.end()) {
      // The detail controllers that exist for this relation lose their master.
      IvlDataController* DC = FRelationList->DataController();
      const Integer Index = static_cast<Integer>(It - Items.begin());
      if (FRelationList->FDataField && FRelationList->FDataField->ValueDef())
        for (Integer R = 0; R < DC->RecordCount(); ++R)
          if (TvlDetailObject* Detail = FRelationList->StoredDetailObject(R); Detail && Detail->LinkObjects(Index))
            if (IvlDataController* C = DC->GetDetailDataControllerByLinkObject(Detail->LinkObjects(Index)))
              C->SetMasterRelation(nullptr, -1);
      FRelationList->DataController()->RelationsChanged(this);
      Items.erase(std::find(Items.begin(), Items.end(), this));
      FRelationList->Changed(nullptr);
    }
  }
  inherited::Destroy();
}

void TvlCustomDataRelation::Changed() { FRelationList->Changed(this); }

IvlDataController* TvlCustomDataRelation::DataController() const { return FRelationList->DataController(); }

Integer TvlCustomDataRelation::Index() const { return FRelationList->IndexOf(this); }

void TvlCustomDataRelationList::Create(IvlDataController* ADataController) {
  inherited::Create();
  FDataController = ADataController;
}

void TvlCustomDataRelationList::Destroy() {
  ++FLockCount;  // no updates while the list goes
  while (!FItems.empty()) Free(FItems.back());
  inherited::Destroy();
}

TvlCustomDataRelation* TvlCustomDataRelationList::Add(TObject* AItem) {
  return CreateFrom(FDataController->GetRelationClass(), &TvlCustomDataRelation::Create, this, AItem);
}

void TvlCustomDataRelationList::Assign(TvlCustomDataRelationList* ASource) {
  BeginUpdate();
  Finally End([&] { EndUpdate(); });
  Clear();
  for (TvlCustomDataRelation* R : ASource->FItems) Add(R->Item())->Assign(R);
}

void TvlCustomDataRelationList::BeginUpdate() { ++FLockCount; }

void TvlCustomDataRelationList::EndUpdate() {
  if (FLockCount > 0) --FLockCount;
  Changed(nullptr);
}

void TvlCustomDataRelationList::Clear() {
  BeginUpdate();
  Finally End([&] { EndUpdate(); });
  while (!FItems.empty()) Free(FItems.back());
}

void TvlCustomDataRelationList::Move(Integer ACurIndex, Integer ANewIndex) {
  if (ACurIndex == ANewIndex) return;
  TvlCustomDataRelation* R = FItems[ACurIndex];
  FItems.erase(FItems.begin() + ACurIndex);
  FItems.insert(FItems.begin() + ANewIndex, R);
  Changed(nullptr);
}

TvlCustomDataRelation* TvlCustomDataRelationList::FindByItem(TObject* AItem) const {
  for (TvlCustomDataRelation* R : FItems)
    if (R->Item() == AItem) return R;
  return nullptr;
}

void TvlCustomDataRelationList::RemoveByItem(TObject* AItem) { Free(FindByItem(AItem)); }

Integer TvlCustomDataRelationList::IndexOf(const TvlCustomDataRelation* ARelation) const {
  auto It = std::find(FItems.begin(), FItems.end(), ARelation);
  return It == FItems.end() ? -1 : static_cast<Integer>(It - FItems.begin());
}

Boolean TvlCustomDataRelationList::IsEmpty() {
  // A clone's details hang off its pattern's relations; a list whose own
  // relations have detail controllers is not empty either.
  for (TvlCustomDataRelation* R : FItems)
    if (R->DetailDataController()) return false;
  IvlDataController* Pattern = FDataController->PatternController();
  if (!Pattern || Pattern == FDataController) return true;
  TvlCustomDataRelationList* List = Pattern->Relations();
  for (TvlCustomDataRelation* R : List->FItems)
    if (R->DetailDataController()) return false;
  return true;
}

TvlDetailObject* TvlCustomDataRelationList::StoredDetailObject(Integer ARecordIndex) {
  Variant V = FDataController->DataStorage()->GetValue(ARecordIndex, FDataField->ValueDef());
  if (VarIsNull(V)) return nullptr;
  return reinterpret_cast<TvlDetailObject*>(static_cast<intptr_t>(V.AsInt64()));
}

TvlDetailObject* TvlCustomDataRelationList::GetDetailObject(Integer ARecordIndex) {
  if (!FDataField || !FDataField->ValueDef()) return nullptr;
  FDataController->CheckRecordIndex(ARecordIndex);
  TvlDetailObject* Detail = StoredDetailObject(ARecordIndex);
  TvlDataStorage* Storage = FDataController->DataStorage();
  if (IsEmpty()) {
    if (Detail) {
      // Its detail controllers forget their master; the slot owns the
      // object, so storing 0 frees it.
      for (Integer I = 0; I < Detail->LinkObjectCount(); ++I)
        if (TObject* Link = Detail->LinkObjects(I))
          if (IvlDataController* DetailController = FDataController->GetDetailDataControllerByLinkObject(Link))
            DetailController->SetMasterRelation(nullptr, -1);
      Storage->SetValue(ARecordIndex, FDataField->ValueDef(), Variant(Int64(0)));
    }
    return nullptr;
  }
  if (!Detail) {
    Detail = New<TvlDetailObject>();
    Detail->SetActiveRelationIndex(FDataController->DefaultActiveRelationIndex());
    Storage->SetValue(ARecordIndex, FDataField->ValueDef(),
                      Variant(static_cast<Int64>(reinterpret_cast<intptr_t>(Detail))));
  }
  if (Detail->InfoObjectCount() < Count()) Detail->SetInfoObjectCount(Count());
  if (Detail->InfoObjectCount() == 0) {
    Detail->SetActiveRelationIndex(-1);
  } else {
    Integer Active = std::clamp(Detail->ActiveRelationIndex(), 0, Count() - 1);
    if (!FItems[Active]->DetailDataController())
      for (Integer I = 0; I < Count(); ++I)
        if (FItems[I]->DetailDataController()) {
          Active = I;
          break;
        }
    Detail->SetActiveRelationIndex(Active);
  }
  return Detail;
}

Boolean TvlCustomDataRelationList::IsDetailObjectExist(Integer ARecordIndex, Integer ARelationIndex) {
  if (!FDataField || !FDataField->ValueDef()) return false;
  FDataController->CheckRecordIndex(ARecordIndex);
  TvlDetailObject* Detail = StoredDetailObject(ARecordIndex);
  if (!Detail) return false;
  return ARelationIndex == -1 ? !Detail->IsEmpty() : Detail->LinkObjects(ARelationIndex) != nullptr;
}

Boolean TvlCustomDataRelationList::ClearDetailObject(Integer ARecordIndex, Integer ARelationIndex) {
  if (!FDataField || !FDataField->ValueDef()) return false;
  FDataController->CheckRecordIndex(ARecordIndex);
  TvlDetailObject* Detail = StoredDetailObject(ARecordIndex);
  if (!Detail) return false;
  if (ARelationIndex == -1)
    Detail->Clear();
  else
    Detail->ClearInfoObject(ARelationIndex);
  return true;
}

void TvlCustomDataRelationList::RemoveField(TvlCustomDataField* AField) {
  if (FDataField == AField) FDataField = nullptr;
  for (TvlCustomDataRelation* R : FItems) R->FieldRemoved(AField);
}

void TvlCustomDataRelationList::Changed(TvlCustomDataRelation* ARelation) {
  if (FLockCount == 0) Update(ARelation);
}

void TvlCustomDataRelationList::Update(TvlCustomDataRelation* ARelation) {
  FDataController->BeginUpdate();
  Finally End([&] { FDataController->EndUpdate(); });
  if (FItems.empty()) {
    FreeAndNil(FDataField);
  } else if (FDataField) {
    FDataController->ClearDetails();
  } else {
    TvlCustomDataField* Field = New<TvlCustomDataField>(FDataController->Fields());
    Field->SetIsInternal(true);
    FDataController->Fields()->Add(Field);
    Field->SetValueTypeClass(ClassOf<TvlObjectValueType>());
    FDataField = Field;
  }
  FDataController->RelationsChanged(ARelation);
}

// --- Data filter criteria ------------------------------------------------------------------------

IvlDataController* TvlDataFilterCriteriaItem::DataController() {
  return static_cast<TvlDataFilterCriteria*>(Criteria())->DataController();
}

TvlCustomDataField* TvlDataFilterCriteriaItem::Field() const { return As<TvlCustomDataField>(FItemLink); }

Variant TvlDataFilterCriteriaItem::GetRecordValue(Pointer AData) {
  TvlCustomDataField* F = Field();
  if (!F) return Null();
  return DataController()->GetFilterDataValue(static_cast<Integer>(reinterpret_cast<intptr_t>(AData)), F);
}

Boolean TvlDataFilterCriteriaItem::ReadsFilterDataValue() const {
  return ClassType() == ClassOf<TvlDataFilterCriteriaItem>().Class();
}

String TvlDataFilterCriteriaItem::GetFieldCaption() {
  TvlCustomDataField* F = Field();
  return F && F->Item() ? DataController()->GetFilterItemFieldCaption(F->Item()) : String();
}

String TvlDataFilterCriteriaItem::GetFieldName() {
  TvlCustomDataField* F = Field();
  return F && F->Item() ? DataController()->GetFilterItemFieldName(F->Item()) : String();
}

TObject* TvlDataFilterCriteriaItem::GetItemLink() {
  TvlCustomDataField* F = Field();
  return F ? F->Item() : nullptr;
}

void TvlDataFilterCriteriaItem::SetItemLink(TObject* Value) {
  if (Value && !Is<TvlCustomDataField>(Value)) Value = DataController()->Fields()->FieldByItem(Value);
  FItemLink = Value;
}

IvlDataController* TvlDataFilterValueList::DataController() {
  return static_cast<TvlDataFilterCriteria*>(Criteria())->DataController();
}

void TvlDataFilterValueList::Load(Integer AItemIndex, Boolean AInitSortByDisplayText, Boolean AUseFilteredValues) {
  IvlDataController* DC = DataController();
  auto* C = static_cast<TvlDataFilterCriteria*>(Criteria());
  Clear();
  if (AInitSortByDisplayText) SetSortByDisplayText(DC->IsItemSortByText(AItemIndex));
  Add(fviAll, Null(), vlGetFilterResString(vlSFilterBoxAllCaption), false);
  Add(fviCustom, Null(), vlGetFilterResString(vlSFilterBoxCustomCaption), false);
  TvlCustomDataField* Field =
      AItemIndex >= 0 && AItemIndex < DC->Fields()->ItemCount() ? DC->Fields()->Items(AItemIndex) : nullptr;
  Boolean Blanks = false;
  if (DC->IsGridMode()) {
    Blanks = true;
  } else if (Field) {
    Boolean Filtered = AUseFilteredValues && DC->FilteredRecordCount() > 0;
    if (!Filtered) AUseFilteredValues = false;
    Integer N = Filtered ? DC->FilteredRecordCount() : DC->RecordCount();
    // Numbers stored unchanged: ordered and made distinct by their keys, the
    // values and texts read for the entries added only.
    TLoadScratch& X = LoadScratch();
    struct TKept {
      IvlDataController* DC;
      TvlCustomDataField* Field;
      Integer Item;
      const TvlIndexArray* Records;
    } Kept{DC, Field, AItemIndex, &X.Records};
    if (!SortByDisplayText() && DC->GetFilterNumberKeys(Field, Filtered, X.Keys, X.Records, Blanks)) {
      AddNumberKeys(
          X.Keys,
          [](void* AContext, Integer AIndex) {
            auto* K = static_cast<TKept*>(AContext);
            return K->DC->GetFilterDataValue(K->Records->empty() ? AIndex : (*K->Records)[AIndex], K->Field);
          },
          [](void* AContext, Integer AIndex) {
            auto* K = static_cast<TKept*>(AContext);
            return K->DC->GetFilterValueDisplayText(K->Records->empty() ? AIndex : (*K->Records)[AIndex], K->Item);
          },
          &Kept);
    } else {
      std::vector<Variant> Values;
      // The display texts are read for the values kept only (one per distinct
      // value, of its first record), unless the list sorts by them.
      struct TTexts {
        IvlDataController* DC;
        Integer Item;
        std::vector<Integer> Records;
      } Texts{DC, AItemIndex, {}};
      Values.reserve(N);
      Texts.Records.reserve(N);
      for (Integer I = 0; I < N; ++I) {
        Integer R = Filtered ? DC->GetRecordListRecordIndex(I) : I;
        Variant V = DC->GetFilterDataValue(R, Field);
        if (C->ValueIsNull(V)) {
          Blanks = true;
          continue;
        }
        Values.push_back(std::move(V));
        Texts.Records.push_back(R);
      }
      AddValues(
          Values,
          [](void* AContext, Integer AIndex) {
            auto* T = static_cast<TTexts*>(AContext);
            return T->DC->GetFilterValueDisplayText(T->Records[AIndex], T->Item);
          },
          &Texts);
    }
  }
  if (Blanks) Add(fviBlanks, Null(), vlGetFilterResString(vlSFilterBoxBlanksCaption), false);
  TvlFilterCriteriaItem* Leaf = Field && Field->Item() ? C->FindItemByItemLink(Field->Item()) : nullptr;
  if (Blanks || (AUseFilteredValues && Leaf && Is<TvlFilterNotNullOperator>(Leaf->Operator())))
    Add(fviNonBlanks, Null(), vlGetFilterResString(vlSFilterBoxNonBlanksCaption), false);
  if (Assigned(C->OnGetValueList())) C->OnGetValueList()(C, AItemIndex, this);
}

void TvlDataFilterCriteria::Create(IvlDataController* ADataController) {
  inherited::Create();
  FDataController = ADataController;
  SetVersion(3);
}

TvlDataFilterValueList* TvlDataFilterCriteria::CreateValueList() {
  return static_cast<TvlDataFilterValueList*>(
      CreateFrom(ValueListClass(), &TvlFilterValueList::Create, static_cast<TvlFilterCriteria*>(this)));
}

Boolean TvlDataFilterCriteria::IsFiltering() {
  return FActive && !IsEmpty() && !FDataController->IsGridMode();
}

void TvlDataFilterCriteria::BeforeDestruction() {
  FDestroying = true;
  if (FDataController && FDataController->ExtraFilters()) FDataController->ExtraFilters()->Remove(this);
  SetActive(false);
  inherited::BeforeDestruction();
}

Integer TvlDataFilterCriteria::ItemLinkToID(TObject* AItemLink) { return FDataController->GetItemID(AItemLink); }

String TvlDataFilterCriteria::ItemLinkToName(TObject* AItemLink) {
  return FDataController->GetItemName(AItemLink);
}

TvlFilterCriteriaItemClass TvlDataFilterCriteria::CriteriaItemClass() {
  return ClassOf<TvlDataFilterCriteriaItem>();
}

TObject* TvlDataFilterCriteria::IDToItemLink(Integer AID) { return FDataController->GetItemByID(AID); }

TObject* TvlDataFilterCriteria::NameToItemLink(const String& AName) {
  return FDataController->GetItemByName(AName);
}

TvlFilterValueListClass TvlDataFilterCriteria::ValueListClass() { return ClassOf<TvlDataFilterValueList>(); }

void TvlDataFilterCriteria::FireChanged() {
  IvlDataController* DC = FDataController;
  if ((DC->ExtraFilters() && DC->ExtraFilters()->Contains(this)) || FDestroying || DC->IsOwnerDestroying() ||
      DC->IsOwnerLoading())
    return;
  if (!DC->IsActiveDataSet()) DC->Post(false);
  DC->FilterChanged();
  inherited::FireChanged();
}

void TvlDataFilterCriteria::Assign(TPersistent* Source, Boolean AIgnoreItemNames) {
  auto* From = Is<TvlDataFilterCriteria>(Source) ? static_cast<TvlDataFilterCriteria*>(Source) : nullptr;
  if (!From) {
    inherited::Assign(Source, AIgnoreItemNames);
    return;
  }
  BeginUpdate();
  Finally End([&] { EndUpdate(); });
  inherited::Assign(Source, AIgnoreItemNames);
  SetActive(From->FActive);
}

void TvlDataFilterCriteria::AssignEvents(TPersistent* Source) {
  inherited::AssignEvents(Source);
  if (auto* From = Is<TvlDataFilterCriteria>(Source) ? static_cast<TvlDataFilterCriteria*>(Source) : nullptr)
    FOnGetValueList = From->FOnGetValueList;
}

TvlFilterCriteriaItem* TvlDataFilterCriteria::FindItemByItemLink(TObject* AItemLink) {
  if (AItemLink && !Is<TvlCustomDataField>(AItemLink)) AItemLink = FDataController->Fields()->FieldByItem(AItemLink);
  return AItemLink ? inherited::FindItemByItemLink(AItemLink) : nullptr;
}

void TvlDataFilterCriteria::RemoveItemByField(TvlCustomDataField* AField) { RemoveItemByItemLink(AField); }

void TvlDataFilterCriteria::SetActive(Boolean Value) {
  if (FActive == Value) return;
  FActive = Value;
  Changed();
}

void TvlDataFilterCriteria::DefineProperties(TFiler* Filer) {
  inherited::DefineProperties(Filer);
  Filer->DefineBinaryProperty(u"Criteria", TStreamProc(this, &TvlDataFilterCriteria::ReadCriteria),
                              TStreamProc(this, &TvlDataFilterCriteria::WriteCriteria), HasStoredItems());
}

void TvlDataFilterCriteria::ReadCriteria(TStream* AStream) { ReadData(AStream); }
void TvlDataFilterCriteria::WriteCriteria(TStream* AStream) { WriteData(AStream); }

// --- TvlDataFilterList -------------------------------------------------------------------------------

void TvlDataFilterList::Destroy() {
  Clear();
  inherited::Destroy();
}

void TvlDataFilterList::Remove(TvlDataFilterCriteria* ACriteria) { std::erase(FItems, ACriteria); }

Boolean TvlDataFilterList::Contains(TvlDataFilterCriteria* ACriteria) const {
  return std::find(FItems.begin(), FItems.end(), ACriteria) != FItems.end();
}

void TvlDataFilterList::Clear() {
  while (!FItems.empty()) {
    TvlDataFilterCriteria* C = FItems.back();
    FItems.pop_back();
    Free(C);
  }
}

void TvlDataFilterList::RemoveItemByField(TvlCustomDataField* AField) {
  for (TvlDataFilterCriteria* C : FItems) C->RemoveItemByField(AField);
}
