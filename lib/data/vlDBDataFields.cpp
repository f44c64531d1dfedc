#include "lib/data/vlDBDataFields.h"

#include <algorithm>

#include "lib/data/vlDBData.h"
#include "lib/data/vlDBFilter.h"
#include "lib/data/vlDataConsts.h"
#include "lib/foundation/vlVariants.h"
#include "platform/classes/Lists.h"
#include "platform/classes/ModuleInit.h"
#include "platform/classes/StringLists.h"
#include "platform/classes/TypInfo.h"
#include "platform/classes/TypInfoBuild.h"
#include "platform/db/DB.h"
#include "platform/rtl/Finally.h"
#include "platform/rtl/Strings.h"
#include "platform/rtl/Variants.h"

CL_IMPLEMENT_CLASS(TvlDBDataField)
CL_IMPLEMENT_CLASS(TvlValueDefDBReader)
CL_IMPLEMENT_CLASS(TvlDBDataRelation)
CL_IMPLEMENT_CLASS(TvlDBDataFilterCriteriaItem)
CL_IMPLEMENT_CLASS_PUBLISHED(TvlDBDataFilterCriteria, P) {
  using C = TvlDBDataFilterCriteria;
  P.Property(u"AutoDataSetFilter", &C::AutoDataSetFilter, &C::SetAutoDataSetFilter).Default(false);
  P.Property(u"DateTimeFormat", &C::DateTimeFormat, &C::SetDateTimeFormat);
  P.Property(u"IgnoreOrigin", &C::IgnoreOrigin, &C::SetIgnoreOrigin).Default(true);
  P.Property(u"TranslateBetween", &C::TranslateBetween, &C::SetTranslateBetween).Default(false);
  P.Property(u"TranslateIn", &C::TranslateIn, &C::SetTranslateIn).Default(false);
  P.Property(u"TranslateLike", &C::TranslateLike, &C::SetTranslateLike).Default(false);
  P.Property(u"SupportedLike", &C::SupportedLike, &C::SetSupportedLike).Default(true);
  P.Property(u"OnBeforeChange", &C::OnBeforeChange, &C::SetOnBeforeChange);
  P.Property(u"OnFormatFilterTextValue", &C::OnFormatFilterTextValue, &C::SetOnFormatFilterTextValue);
}
CL_IMPLEMENT_CLASS(TvlDBDataSummaryItem)
CL_IMPLEMENT_CLASS(TvlDBProviderDetailFilterAdapter)

TvlDBAdapterList* vlDBDataDetailAdapterList = nullptr;

namespace {

void Startup() {
  if (vlDBDataDetailAdapterList) return;
  vlDBDataDetailAdapterList = New<TvlDBAdapterList>();
  vlDBDataDetailAdapterList->RegisterAdapter(ClassOf<TDataSet>(), ClassOf<TvlDBProviderDetailFilterAdapter>());
}

void Shutdown() { FreeAndNil(vlDBDataDetailAdapterList); }

std::vector<String> SplitNames(const String& ANames) {
  TStringList* List = New<TStringList>();
  Finally F([&] { Free(List); });
  vlSplitFieldNames(ANames, List);
  std::vector<String> Result;
  for (Integer I = 0; I < List->Count(); ++I) Result.push_back(List->Strings(I));
  return Result;
}

Variant ValuesOf(const std::vector<Variant>& AValues) {
  if (AValues.size() == 1) return AValues[0];
  Variant Result = VarArrayCreate({0, static_cast<Integer>(AValues.size()) - 1}, varVariant);
  for (Integer I = 0; I < static_cast<Integer>(AValues.size()); ++I) VarArrayPut(Result, AValues[I], {I});
  return Result;
}

// Key values compared element by element; Null equals Null.
Boolean KeysEqual(const Variant& A, const Variant& B) {
  if (VarIsArray(A) != VarIsArray(B)) return false;
  if (!VarIsArray(A)) return vlVariantsEqual(A, B);
  const Integer LA = VarArrayLowBound(A, 1), LB = VarArrayLowBound(B, 1);
  const Integer N = VarArrayHighBound(A, 1) - LA + 1;
  if (N != VarArrayHighBound(B, 1) - LB + 1) return false;
  for (Integer I = 0; I < N; ++I)
    if (!vlVariantsEqual(VarArrayGet(A, {LA + I}), VarArrayGet(B, {LB + I}))) return false;
  return true;
}

TParams* DataSetParams(TDataSet* ADataSet) {
  if (!ADataSet || !GetPropInfo(ADataSet, u"Params")) return nullptr;
  return static_cast<TParams*>(GetObjectProp(ADataSet, u"Params", TParams::StaticClass()));
}

Variant ParamsValues(TParams* AParams, const std::vector<String>& ANames) {
  std::vector<Variant> Values;
  for (const String& N : ANames) Values.push_back(AParams->ParamValues(N));
  return ValuesOf(Values);
}

}  // namespace

CL_UNIT_STEPS(vlDBData, &Startup, &Shutdown);

Boolean vlDBKeysEqual(const Variant& A, const Variant& B) { return KeysEqual(A, B); }

// --- Fields -------------------------------------------------------------------------------

TvlDBDataField* TvlDBDataField::Target() const {
  const TvlCustomDataField* F = this;
  while (F->ReferenceField()) F = F->ReferenceField();
  return static_cast<TvlDBDataField*>(const_cast<TvlCustomDataField*>(F));
}

TvlDBDataController* TvlDBDataField::DBDataController() const {
  return dynamic_cast<TvlDBDataController*>(DataController());
}

void TvlDBDataField::Destroy() {
  if (FParentField) FParentField->RemoveField(this);
  // Leaving the list first: a field that referred to this one takes over its
  // value definition, data-set field and sub-fields; what is left goes.
  if (FieldList()) FieldList()->Remove(this);
  ClearFields();
  inherited::Destroy();
}

void TvlDBDataField::TakeOverValueDef(TvlCustomDataField* ASource) {
  inherited::TakeOverValueDef(ASource);
  auto* S = dynamic_cast<TvlDBDataField*>(ASource);
  if (!S) return;
  if (S->FField) {
    SetField(S->FField);
    S->FField = nullptr;
  }
  FIsCurrency = S->FIsCurrency;
  for (TvlDBDataField* Sub : S->FFields) {
    Sub->FParentField = this;
    FFields.push_back(Sub);
  }
  S->FFields.clear();
}

void TvlDBDataField::ComponentRemoved(TComponent* AComponent) {
  inherited::ComponentRemoved(AComponent);
  if (ReferenceField() || !FField || AComponent != FField) return;
  FField = nullptr;
}

Boolean TvlDBDataField::CanModify(Integer AEditValueSource) {
  if (IsUnbound()) return inherited::CanModify(AEditValueSource);
  if (!inherited::CanModify(AEditValueSource) || !Field()) return false;
  if (IsLookup()) {
    if (AEditValueSource != evsKey || FieldCount() == 0) return false;
    for (Integer I = 0; I < FieldCount(); ++I)
      if (!Fields(I)->CanModify(evsValue)) return false;
    return true;
  }
  return vlDataFieldCanModify(Field(), AEditValueSource == evsValue);
}

Boolean TvlDBDataField::IsUnbound() {
  return !IsInternal() && FFieldName.empty() && !Field() && ValueDef() != nullptr;
}

Boolean TvlDBDataField::IsValueDefInternal() {
  if (Field() && !DataController()->IsGridMode()) return false;
  if (IsUnbound()) {
    TvlDBDataController* DC = DBDataController();
    if (DC && DC->InUnboundCopy()) return false;
  }
  return true;
}

void TvlDBDataField::AddField(TvlDBDataField* ADataField) {
  if (ADataField->FParentField) throw EvlInvalidDataControllerOperation(u"ADataField.FParentField <> nil");
  ADataField->FParentField = this;
  FFields.push_back(ADataField);
}

void TvlDBDataField::RemoveField(TvlDBDataField* ADataField) {
  auto It = std::find(FFields.begin(), FFields.end(), ADataField);
  if (It != FFields.end()) FFields.erase(It);
  ADataField->FParentField = nullptr;
}

void TvlDBDataField::ClearFields() {
  while (!FFields.empty()) {
    TvlDBDataField* Sub = FFields.back();
    FFields.pop_back();
    Sub->FParentField = nullptr;
    Free(Sub);
  }
}

Integer TvlDBDataField::FieldCount() const { return static_cast<Integer>(Target()->FFields.size()); }
TvlDBDataField* TvlDBDataField::Fields(Integer AIndex) const { return Target()->FFields[AIndex]; }
TField* TvlDBDataField::Field() const { return Target()->FField; }

void TvlDBDataField::SetField(TField* Value) {
  if (Value && Value->ComponentState().Contains(csDestroying)) Value = nullptr;
  if (FField == Value) return;
  FField = Value;
  if (FField && Notifier()) FField->FreeNotification(Notifier());
  ClearFields();
}

Boolean TvlDBDataField::IsLookup() const { return Field() && Field()->Lookup(); }

void TvlDBDataField::GetLeafFields(std::vector<TvlDBDataField*>& AList) {
  if (FieldCount() == 0) {
    AList.push_back(this);
    return;
  }
  for (Integer I = 0; I < FieldCount(); ++I) Fields(I)->GetLeafFields(AList);
}

void TvlDBDataField::UpdateStorageProperties() {
  TField* F = FField;
  if (!F || ReferenceField()) return;
  const TvlValueTypeClass Type = vlValueTypeClassByField(F);
  const Boolean Currency = vlIsPlainCurrencyField(F);
  // The item edits values (no view asks for text here), so complex types store no text.
  const Boolean Text = vlFieldFormatsItself(F, false);
  const Boolean TypeChanged = Type != ValueTypeClass() || Currency != FIsCurrency;
  if (!TypeChanged && Text == TextStored() && ValueDef()) return;
  BeginValueDefChange();
  {
    Finally End([&] { EndValueDefChange(); });
    FIsCurrency = Currency;
    SetValueTypeClass(Type);
    SetTextStored(Text);
  }
  if (!TypeChanged) return;
  TvlDBDataController* DC = DBDataController();
  if (!DC) return;
  if (!IsInternal()) DC->DataControllerInfo()->UpdateField(this);
  for (Integer I = 0; I < DC->Fields()->Count(); ++I) {
    TvlCustomDataField* R = DC->Fields()->Items(I);
    if (R->ReferenceField() == this && !R->IsInternal()) DC->DataControllerInfo()->UpdateField(R);
  }
}

// --- Reader --------------------------------------------------------------------------------

namespace {
TField* DBFieldOfValueDef(TvlValueDef* AValueDef) {
  auto* F = dynamic_cast<TvlDBDataField*>(AValueDef->GetLinkObject());
  return F ? F->Field() : nullptr;
}
}  // namespace

String TvlValueDefDBReader::GetDisplayText(TvlValueDef* AValueDef) {
  if (TField* F = DBFieldOfValueDef(AValueDef)) return F->DisplayText();
  return inherited::GetDisplayText(AValueDef);
}

Variant TvlValueDefDBReader::GetValue(TvlValueDef* AValueDef) {
  if (TField* F = DBFieldOfValueDef(AValueDef)) return vlGetFieldValue(F);
  return inherited::GetValue(AValueDef);
}

Boolean TvlValueDefDBReader::IsInternal(TvlValueDef* AValueDef) { return IsValueDefInternal(AValueDef); }

// --- The controller's field operations ----------------------------------------------------

TvlCustomDataFieldClass TvlDBDataController::GetFieldClass() { return ClassOf<TvlDBDataField>(); }
TvlDataFilterCriteriaClass TvlDBDataController::GetFilterCriteriaClass() {
  return ClassOf<TvlDBDataFilterCriteria>();
}
TvlDataSummaryItemClass TvlDBDataController::GetSummaryItemClass() { return ClassOf<TvlDBDataSummaryItem>(); }
TvlCustomDataRelationClass TvlDBDataController::GetRelationClass() { return ClassOf<TvlDBDataRelation>(); }

TvlDBDataFilterCriteria* TvlDBDataController::Filter() const {
  return static_cast<TvlDBDataFilterCriteria*>(inherited::Filter());
}

TvlDBDataField* TvlDBDataController::GetDBItemField(Integer AItemIndex) {
  return static_cast<TvlDBDataField*>(GetItemField(AItemIndex));
}

void TvlDBDataController::SetFieldName(TvlDBDataField* AField, const String& ANames, Boolean AIsLookupKeys) {
  AField->ClearFields();
  if (!AIsLookupKeys && AField->FFieldName != ANames) {
    Fields()->ReassignFields(AField);
    AField->FFieldName = ANames;
  }
  const TvlValueTypeClass OldType = AField->ValueTypeClass();
  if (AIsLookupKeys || vlHasSeveralFieldNames(ANames)) {
    BeginUpdate();
    Finally End([&] { EndUpdate(); });
    AField->SetReferenceField(nullptr);
    for (const String& Name : SplitNames(ANames)) {
      auto* Sub = New<TvlDBDataField>(Fields());
      Sub->SetIsInternal(true);
      Fields()->Add(Sub);
      AField->AddField(Sub);
      SetFieldName(Sub, Name, false);
    }
  } else {
    // The first earlier field of the same name holds the values for both.
    TvlDBDataField* Same = nullptr;
    const Integer Own = Fields()->IndexOf(AField);
    for (Integer I = 0; I < Own && !Same && !ANames.empty(); ++I) {
      auto* F = dynamic_cast<TvlDBDataField*>(Fields()->Items(I));
      if (F && F->FieldCount() == 0 && AnsiCompareText(F->FFieldName, ANames) == 0) Same = F;
    }
    AField->SetReferenceField(Same);
    if (AField->ReferenceField())
      Change(dccData);
    else
      LayoutChanged(0x01);
  }
  if (AField->ValueTypeClass() != OldType && !AField->IsInternal()) DataControllerInfo()->UpdateField(AField);
}

void TvlDBDataController::PrepareField(TvlCustomDataField* AField) {
  // A sub-field is prepared by its parent.
  if (auto* F = dynamic_cast<TvlDBDataField*>(AField); F && !F->ParentField()) PrepareDBField(F);
}

void TvlDBDataController::PrepareDBField(TvlDBDataField* AField) {
  if (AField->ReferenceField()) return;
  TDataSet* DS = DataSet();
  if (!DS) return;
  TField* Field = nullptr;
  if (!FResetDBFields && !AField->FFieldName.empty() && !vlHasSeveralFieldNames(AField->FFieldName)) {
    Field = DS->Fields()->FindField(AField->FFieldName);
    if (!Field && DS->AggFields()) Field = DS->AggFields()->FindField(AField->FFieldName);
  }
  AField->SetField(Field);
  if (Field) {
    AField->UpdateStorageProperties();
    if (Field->Lookup() && AField->FFields.empty()) SetFieldName(AField, Field->KeyFields(), true);
  }
  for (TvlDBDataField* Sub : std::vector<TvlDBDataField*>(AField->FFields)) PrepareDBField(Sub);
}

void TvlDBDataController::BindInternalField(TvlDBDataField*& AField, const String& ANames) {
  if (ANames.empty()) {
    if (!AField) return;
    TvlDBDataField* F = AField;
    AField = nullptr;
    Free(F);
    Change(dccData);
    return;
  }
  if (!AField) {
    AField = New<TvlDBDataField>(Fields());
    AField->SetIsInternal(true);
    Fields()->Add(AField);
  }
  if (AField->FFieldName == ANames) return;
  SetFieldName(AField, ANames, false);
  PrepareField(AField);
}

TvlCustomDataField* TvlDBDataController::AddItemForField(TObject* AItem, const String& AFieldName) {
  auto* F = static_cast<TvlDBDataField*>(AddItem(AItem));
  SetFieldName(F, AFieldName, false);
  PrepareField(F);
  return F;
}

void TvlDBDataController::BindFieldTypes() {
  // The data set's fields may be new: the detail key fields are found again.
  ResetMasterDetailKeyFields();
  // Top-level fields only: each prepares its sub-fields.
  std::vector<TvlDBDataField*> List;
  for (Integer I = 0; I < Fields()->Count(); ++I)
    if (auto* F = dynamic_cast<TvlDBDataField*>(Fields()->Items(I)); F && !F->ParentField()) List.push_back(F);
  for (TvlDBDataField* F : List)
    if (Fields()->IndexOf(F) >= 0) PrepareField(F);
}

String TvlDBDataController::GetItemFieldName(Integer AItemIndex) { return GetDBItemField(AItemIndex)->FFieldName; }

void TvlDBDataController::ChangeFieldName(Integer AItemIndex, const String& AFieldName) {
  TvlDBDataField* F = GetDBItemField(AItemIndex);
  if (F->FFieldName == AFieldName) return;
  SetFieldName(F, AFieldName, false);
  PrepareField(F);
  if (DataSet() && DataSet()->Active()) DBProvider()->LayoutChanged();
}

TField* TvlDBDataController::GetItemDBField(Integer AItemIndex) { return GetDBItemField(AItemIndex)->Field(); }

TField* TvlDBDataController::GetDBFieldOf(TvlCustomDataField* AField) {
  auto* F = dynamic_cast<TvlDBDataField*>(AField);
  return F && DataSet() ? F->Field() : nullptr;
}

Integer TvlDBDataController::GetItemByFieldName(const String& AFieldName) {
  for (Integer I = 0; I < GetItemCount(); ++I)
    if (AnsiCompareText(GetItemFieldName(I), AFieldName) == 0) return I;
  return -1;
}

Variant TvlDBDataController::GetFilterDataValue(Integer ARecordIndex, TvlCustomDataField* AField) {
  auto* F = dynamic_cast<TvlDBDataField*>(AField);
  if (!F || F->FieldCount() == 0) return inherited::GetFilterDataValue(ARecordIndex, AField);
  std::vector<Variant> Values;
  for (Integer I = 0; I < F->FieldCount(); ++I) Values.push_back(inherited::GetFilterDataValue(ARecordIndex, F->Fields(I)));
  return ValuesOf(Values);
}

Variant TvlDBDataController::GetGroupValue(Integer ARecordIndex, TvlCustomDataField* AField) {
  auto* F = dynamic_cast<TvlDBDataField*>(AField);
  if (!F || F->FieldCount() == 0) return inherited::GetGroupValue(ARecordIndex, AField);
  std::vector<Variant> Values;
  for (Integer I = 0; I < F->FieldCount(); ++I) Values.push_back(GetValue(ARecordIndex, F->Fields(I)));
  return ValuesOf(Values);
}

TvlValueDef* TvlDBDataController::GetFilterValueDef(TvlCustomDataField* AField) {
  auto* F = dynamic_cast<TvlDBDataField*>(AField);
  if (F && F->FieldCount() != 0) return nullptr;
  return inherited::GetFilterValueDef(AField);
}

String TvlDBDataController::GetFilterItemFieldName(TObject* AItem) {
  auto* F = dynamic_cast<TvlDBDataField*>(Fields()->FieldByItem(AItem));
  if (!F) return inherited::GetFilterItemFieldName(AItem);
  if (!F->Field()) return F->FFieldName;
  if (F->IsLookup()) {
    String Names;
    for (Integer I = 0; I < F->FieldCount(); ++I) Names += (I ? u";" : u"") + F->Fields(I)->FFieldName;
    return Names;
  }
  return vlGetFilterFieldName(F->Field(), Filter()->IgnoreOrigin());
}

// --- Relations ------------------------------------------------------------------------------

TvlDBDataController* TvlDBDataRelation::MasterDataController() const {
  return dynamic_cast<TvlDBDataController*>(DataController());
}

void TvlDBDataRelation::Destroy() {
  TvlDBDataField* F = FMasterKeyField;
  FMasterKeyField = nullptr;
  Free(F);
  inherited::Destroy();
}

void TvlDBDataRelation::FieldRemoved(TvlCustomDataField* AField) {
  inherited::FieldRemoved(AField);
  if (AField == FMasterKeyField) FMasterKeyField = nullptr;
}

TvlDBDataController* TvlDBDataRelation::DetailPattern() {
  IvlDataController* Pattern = DataController()->PatternController();
  TvlCustomDataRelationList* List = Pattern ? Pattern->Relations() : nullptr;
  const Integer I = Index();
  if (!List || I < 0 || I >= List->Count()) return nullptr;
  return dynamic_cast<TvlDBDataController*>(List->Items(I)->DetailDataController());
}

String TvlDBDataRelation::GetDetailKeyFieldNames() {
  TvlDBDataController* P = DetailPattern();
  return P ? P->DetailKeyFieldNames() : String();
}

String TvlDBDataRelation::GetMasterKeyFieldNames() {
  TvlDBDataController* P = DetailPattern();
  return P ? P->MasterKeyFieldNames() : String();
}

Boolean TvlDBDataRelation::IsLinked() { return FMasterKeyField && !GetDetailKeyFieldNames().empty(); }

Variant TvlDBDataRelation::GetMasterRecordID(Integer ARecordIndex) {
  DataController()->CheckRecordIndex(ARecordIndex);
  if (!IsLinked()) return Variant();
  std::vector<TvlDBDataField*> Leaves;
  FMasterKeyField->GetLeafFields(Leaves);
  // In grid mode the master's values stay in its data set's window.
  TvlDBDataController* M = MasterDataController();
  const Boolean Window = M && M->IsGridMode();
  std::vector<Variant> Values;
  for (TvlDBDataField* F : Leaves)
    Values.push_back(Window ? M->Provider()->GetExternalValue(ARecordIndex, F)
                            : DataController()->GetValue(ARecordIndex, F));
  return ValuesOf(Values);
}

void TvlDBDataRelation::UpdateMasterKeyField() {
  if (TvlDBDataController* M = MasterDataController()) M->BindInternalField(FMasterKeyField, GetMasterKeyFieldNames());
}

void TvlDBDataRelation::KeyFieldNamesChanged() {
  TvlDBDataController* M = MasterDataController();
  if (M && M->IsDetailClone()) return;
  Changed();
}

// --- Filter -----------------------------------------------------------------------------------

TvlFilterOperatorClass TvlDBDataFilterCriteriaItem::GetFilterOperatorClass() {
  TvlFilterOperatorClass Result = inherited::GetFilterOperatorClass();
  auto* DC = dynamic_cast<TvlDBDataController*>(DataController());
  TDataSet* DS = DC ? DC->DataSet() : nullptr;
  if (TvlDBFilterOperatorAdapter* A = vlGetDBFilterOperatorAdapter(DS)) A->PrepareOperatorClass(this, DS, Result);
  return Result;
}

// The record values are the controller's as they stand.
Boolean TvlDBDataFilterCriteriaItem::ReadsFilterDataValue() const {
  return ClassType() == ClassOf<TvlDBDataFilterCriteriaItem>().Class();
}

void TvlDBDataFilterCriteria::Create(IvlDataController* ADataController) {
  inherited::Create(ADataController);
  FIgnoreOrigin = true;
}

TvlDBDataController* TvlDBDataFilterCriteria::DBDataController() const {
  return dynamic_cast<TvlDBDataController*>(DataController());
}

void TvlDBDataFilterCriteria::BeforeDestruction() {
  FDestroyingFilter = true;
  inherited::BeforeDestruction();
}

void TvlDBDataFilterCriteria::Assign(TPersistent* Source, Boolean AIgnoreItemNames) {
  auto* S = dynamic_cast<TvlDBDataFilterCriteria*>(Source);
  if (!S) {
    inherited::Assign(Source, AIgnoreItemNames);
    return;
  }
  BeginUpdate();
  Finally End([&] { EndUpdate(); });
  inherited::Assign(Source, AIgnoreItemNames);
  SetAutoDataSetFilter(S->FAutoDataSetFilter);
  SetIgnoreOrigin(S->FIgnoreOrigin);
}

void TvlDBDataFilterCriteria::AssignEvents(TPersistent* Source) {
  inherited::AssignEvents(Source);
  if (auto* S = dynamic_cast<TvlDBDataFilterCriteria*>(Source)) {
    FOnBeforeChange = S->FOnBeforeChange;
    FOnFormatFilterTextValue = S->FOnFormatFilterTextValue;
  }
}

void TvlDBDataFilterCriteria::RestoreDefaults() {
  BeginUpdate();
  Finally End([&] { EndUpdate(); });
  inherited::RestoreDefaults();
  SetAutoDataSetFilter(false);
  SetIgnoreOrigin(true);
}

void TvlDBDataFilterCriteria::SetAutoDataSetFilter(Boolean Value) {
  if (FAutoDataSetFilter == Value) return;
  FAutoDataSetFilter = Value;
  Changed();
}

void TvlDBDataFilterCriteria::SetIgnoreOrigin(Boolean Value) {
  if (FIgnoreOrigin == Value) return;
  FIgnoreOrigin = Value;
  Changed();
}

Boolean TvlDBDataFilterCriteria::IsAutoDataSetFilter() {
  TvlDBDataController* DC = DBDataController();
  return FAutoDataSetFilter && !(DC && DC->DBProvider()->IsSmartRefresh());
}

Boolean TvlDBDataFilterCriteria::IsFiltering() {
  return inherited::IsFiltering() && !Assigned(FOnBeforeChange) && !IsAutoDataSetFilter();
}

void TvlDBDataFilterCriteria::FormatFilterTextValue(TvlFilterCriteriaItem* AItem, const Variant& Value,
                                                    String& Text) {
  inherited::FormatFilterTextValue(AItem, Value, Text);
  if (Assigned(FOnFormatFilterTextValue)) FOnFormatFilterTextValue(this, Value, Text);
}

TvlFilterCriteriaItemClass TvlDBDataFilterCriteria::CriteriaItemClass() {
  return ClassOf<TvlDBDataFilterCriteriaItem>();
}

void TvlDBDataFilterCriteria::FireChanged() {
  TvlDBDataController* DC = DBDataController();
  if (!DC || (DC->ExtraFilters() && DC->ExtraFilters()->Contains(this)) || FDestroyingFilter ||
      DC->IsOwnerDestroying()) {
    inherited::FireChanged();
    return;
  }
  TDataSet* DS = DC->DataSet();
  if (DS && (DS->State() == dsEdit || DS->State() == dsInsert || DS->State() == dsSetKey)) {
    try {
      DC->CheckBrowseMode();
    } catch (...) {
      // The edit that cannot be posted keeps its rows: the filter goes off.
      if (Active()) {
        BeginUpdate();
        SetActive(false);
        CancelUpdate();
      }
      throw;
    }
  }
  if (!DC->IsOwnerLoading() && Assigned(FOnBeforeChange)) FOnBeforeChange(this, DS, FilterText());
  if (IsAutoDataSetFilter() && DS) {
    const String Text = FilterText();
    TFilterOptions Options;
    if (this->Options().Contains(fcoCaseInsensitive)) Options.Include(foCaseInsensitive);
    const Boolean Filtered = Active() && !Text.empty();
    if (DS->Filter() != Text || DS->FilterOptions() != Options || DS->Filtered() != Filtered) {
      DS->DisableControls();
      Finally Enable([&] { DS->EnableControls(); });
      DS->SetFilter(Text);
      DS->SetFilterOptions(Options);
      DS->SetFiltered(Filtered);
    }
  }
  inherited::FireChanged();
  if (!FDestroyingFilter && DC->DBProvider()->IsSyncMode()) DC->DataControllerInfo()->CheckFocusedRow();
}

// --- Summary items -------------------------------------------------------------------------

TvlDBDataController* TvlDBDataSummaryItem::DBDataController() const {
  return dynamic_cast<TvlDBDataController*>(SummaryItems()->Summary()->DataController());
}

void TvlDBDataSummaryItem::Destroy() {
  if (FDataField) {
    TvlDBDataField* F = FDataField;
    FDataField = nullptr;
    if (Field() == F) SetDataFieldLink(nullptr);
    Free(F);
  }
  inherited::Destroy();
}

void TvlDBDataSummaryItem::CopySettings(TvlCustomDataSummaryItem* ASource) {
  inherited::CopySettings(ASource);
  if (auto* D = dynamic_cast<TvlDBDataSummaryItem*>(ASource); D && !D->FFieldName.empty())
    SetFieldName(D->FFieldName);
}

TvlCustomDataField* TvlDBDataSummaryItem::DataField() { return FDataField ? FDataField : Field(); }

void TvlDBDataSummaryItem::SetFieldName(const String& Value) {
  if (FFieldName == Value) return;
  FFieldName = Value;
  TvlDBDataController* DC = DBDataController();
  if (!DC) return;
  TvlDBDataField* Old = FDataField;
  DC->BindInternalField(FDataField, Value);
  // The summary reads the internal field's stored values; reading them needs a load.
  if (Old && !FDataField && Field() == Old) SetDataFieldLink(nullptr);
  if (FDataField) {
    SetDataFieldLink(FDataField);
    if (DC->DataSet() && DC->DataSet()->Active()) DC->DBProvider()->LayoutChanged();
  }
}

Boolean TvlDBDataSummaryItem::IsCurrency(Integer AVarType) {
  auto* F = dynamic_cast<TvlDBDataField*>(DataField());
  if (F && F->Field()) return F->IsCurrency();
  return inherited::IsCurrency(AVarType);
}

// --- Detail filter adapter -------------------------------------------------------------------

Boolean TvlDBProviderDetailFilterAdapter::IsCurrentQuery(TDataSet* ADataSet, const String& AParamNames,
                                                         const Variant& AParamValues) {
  TParams* Params = DataSetParams(ADataSet);
  if (!Params) return false;
  return KeysEqual(ParamsValues(Params, SplitNames(AParamNames)), AParamValues);
}

void TvlDBProviderDetailFilterAdapter::ReopenSQL(TDataSet* ADataSet, const String& AParamNames,
                                                 const Variant& AParamValues, Boolean& AReopened) {
  TParams* Params = DataSetParams(ADataSet);
  if (!Params) return;
  const std::vector<String> Names = SplitNames(AParamNames);
  if (KeysEqual(ParamsValues(Params, Names), AParamValues)) {
    ADataSet->First();
    return;
  }
  ADataSet->DisableControls();
  Finally Enable([&] { ADataSet->EnableControls(); });
  ADataSet->Close();
  if (Names.size() == 1 || !VarIsArray(AParamValues)) {
    if (!Names.empty()) Params->SetParamValues(Names[0], AParamValues);
  } else {
    const Integer Low = VarArrayLowBound(AParamValues, 1);
    const Integer Count = VarArrayHighBound(AParamValues, 1) - Low + 1;
    for (Integer I = 0; I < static_cast<Integer>(Names.size()) && I < Count; ++I)
      Params->SetParamValues(Names[I], VarArrayGet(AParamValues, {Low + I}));
  }
  ADataSet->Open();
  AReopened = true;
}

void TvlDBProviderDetailFilterAdapter::SetFilter(TDataSet* ADataSet, const String& AMasterDetailKeyFieldNames,
                                                 const Variant& AMasterDetailKeyValues, Boolean AIsSQLMode,
                                                 Boolean& AReopened) {
  if (AIsSQLMode)
    ReopenSQL(ADataSet, AMasterDetailKeyFieldNames, AMasterDetailKeyValues, AReopened);
  else
    ADataSet->Locate(AMasterDetailKeyFieldNames, AMasterDetailKeyValues, TLocateOptions());
}
