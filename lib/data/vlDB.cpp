#include "lib/data/vlDB.h"

#include "platform/classes/Lists.h"
#include "platform/classes/StringLists.h"
#include "platform/db/DB.h"
#include "platform/rtl/Strings.h"
#include "platform/rtl/Variants.h"

CL_IMPLEMENT_CLASS(TvlDBAdapterItem)
CL_IMPLEMENT_CLASS(TvlDBAdapterList)

namespace {

// The names of a list as the platform splits it (blank names left out).
std::vector<String> SplitNames(const String& ANames) {
  std::vector<String> Names;
  for (Integer Pos = 1; Pos <= static_cast<Integer>(ANames.size());)
    if (String Name = ExtractFieldName(ANames, Pos); !Name.empty()) Names.push_back(Name);
  return Names;
}

Boolean IsComplexType(TFieldType T) {
  return T == ftBytes || T == ftVarBytes || T == ftBlob || T == ftMemo || T == ftGraphic || T == ftFmtMemo ||
         T == ftParadoxOle || T == ftDBaseOle || T == ftTypedBinary || T == ftCursor || T == ftADT ||
         T == ftArray || T == ftReference || T == ftDataSet;
}

Boolean HasCurrencyFlag(TField* F) {
  if (auto* FF = dynamic_cast<TFloatField*>(F)) return FF->currency();
  if (auto* B = dynamic_cast<TBCDField*>(F)) return B->currency();
  if (auto* M = dynamic_cast<TFMTBCDField*>(F)) return M->currency();
  return false;
}

String DisplayFormatOf(TField* F) {
  if (auto* N = dynamic_cast<TNumericField*>(F)) return N->DisplayFormat();
  if (auto* D = dynamic_cast<TDateTimeField*>(F)) return D->DisplayFormat();
  if (auto* S = dynamic_cast<TSQLTimeStampField*>(F)) return S->DisplayFormat();
  if (auto* A = dynamic_cast<TAggregateField*>(F)) return A->DisplayFormat();
  return String();
}

}  // namespace

void vlQuoteFieldName(String& AName) {
  if (!IsValidIdent(AName)) AName = u"[" + AName + u"]";
}

String vlGetFilterFieldName(TField* AField, Boolean AIgnoreOrigin) {
  if (!AField) return String();
  String Name = AIgnoreOrigin ? String() : AField->Origin();
  if (Name.empty()) {
    Name = AField->FieldName();
    vlQuoteFieldName(Name);
  }
  return Name;
}

Boolean vlSameTextUpper(const String& A, const String& B) { return AnsiUpperCase(A) == AnsiUpperCase(B); }

Boolean vlHasSeveralFieldNames(const String& ANames) { return vlFieldNameCount(ANames) > 1; }

Integer vlFieldNameCount(const String& ANames) { return static_cast<Integer>(SplitNames(ANames).size()); }

void vlSplitFieldNames(const String& ANames, TStrings* AList) {
  AList->Clear();
  for (const String& N : SplitNames(ANames)) AList->Add(N);
}

Boolean vlFindFields(TDataSet* ADataSet, const String& ANames, TList* AList) {
  for (const String& N : SplitNames(ANames)) {
    TField* F = ADataSet->FindField(N);
    if (!F) return false;
    AList->Add(F);
  }
  return true;
}

void vlAddDataFieldParts(TField* AField, TList* AList) {
  // The platform's fields have no object-field parts: a field stands for itself.
  if (AField) AList->Add(AField);
}

Variant vlGetFieldValue(TField* AField) {
  if (AField->FieldKind() == fkAggregate) return AField->Value();
  if (AField->IsNull()) return Null();
  if (AField->DataType() == ftWideString) return Variant(AField->AsString());
  return AField->Value();
}

Variant vlGetFieldsValue(TDataSet* ADataSet, TList* AFields) {
  if (AFields->Count() == 0) return Null();
  if (AFields->Count() == 1) return vlGetFieldValue(static_cast<TField*>(AFields->Items(0)));
  Variant Result = VarArrayCreate({0, AFields->Count() - 1}, varVariant);
  for (Integer I = 0; I < AFields->Count(); ++I)
    Result.SetElement(I, vlGetFieldValue(static_cast<TField*>(AFields->Items(I))));
  return Result;
}

void vlSetFieldValue(TField* AField, const Variant& AValue) {
  if (AField->DataType() == ftDateTime && VarType(AValue) == varDouble)
    AField->SetValue(VarFromDateTime(AValue.AsDouble()));
  else
    AField->SetValue(AValue);
}

void vlSetFieldsValue(TDataSet* ADataSet, TList* AFields, const Variant& AValue) {
  if (AFields->Count() == 1) {
    vlSetFieldValue(static_cast<TField*>(AFields->Items(0)), AValue);
    return;
  }
  for (Integer I = 0; I < AFields->Count(); ++I)
    vlSetFieldValue(static_cast<TField*>(AFields->Items(I)), AValue.GetElement(VarArrayLowBound(AValue, 1) + I));
}

Boolean vlLookupKeysCanModify(TField* ALookupField) {
  TDataSet* DataSet = ALookupField->DataSet();
  if (!DataSet) return false;
  TList* Keys = New<TList>();
  Boolean Result = vlFindFields(DataSet, ALookupField->KeyFields(), Keys) && Keys->Count() > 0;
  for (Integer I = 0; Result && I < Keys->Count(); ++I)
    Result = static_cast<TField*>(Keys->Items(I))->CanModify();
  Free(Keys);
  return Result;
}

Boolean vlDataFieldCanModify(TField* AField, Boolean AAlwaysEditable) {
  if (!AField->CanModify()) return false;
  if (AAlwaysEditable) return true;
  if (IsComplexType(AField->DataType())) return Assigned(AField->OnSetText());
  return true;
}

Boolean vlFieldFormatsItself(TField* AField, Boolean AComplexResult) {
  if (Assigned(AField->OnGetText()) || !AField->EditMask().empty()) return true;
  TFieldType T = AField->DataType();
  if (IsComplexType(T) || T == ftBoolean) return AComplexResult;
  if (auto* N = dynamic_cast<TNumericField*>(AField)) {
    if (!N->DisplayFormat().empty() || !N->EditFormat().empty()) return true;
    return HasCurrencyFlag(AField);
  }
  if (T == ftDate || T == ftTime || T == ftDateTime || T == ftTimeStamp) return !DisplayFormatOf(AField).empty();
  if (auto* A = dynamic_cast<TAggregateField*>(AField)) return !A->DisplayFormat().empty() || A->currency();
  return false;
}

Boolean vlIsPlainCurrencyField(TField* AField) {
  return HasCurrencyFlag(AField) && DisplayFormatOf(AField).empty() && !Assigned(AField->OnGetText());
}

Boolean vlIsNotAutoIncField(TField* AField) { return AField->DataType() != ftAutoInc; }

Boolean vlKeyValuesUsable(TDataSet* ADataSet, const String& AKeyFieldNames, const Variant& AKeyValues) {
  if (VarIsArray(AKeyValues)) {
    std::vector<String> Names = SplitNames(AKeyFieldNames);
    Integer Low = VarArrayLowBound(AKeyValues, 1);
    if (static_cast<Integer>(Names.size()) != VarArrayHighBound(AKeyValues, 1) - Low + 1) return false;
    for (size_t I = 0; I < Names.size(); ++I) {
      TField* F = ADataSet->FindField(Names[I]);
      if (!F) return false;
      if (VarIsNull(AKeyValues.GetElement(Low + static_cast<Integer>(I))) && !vlIsNotAutoIncField(F)) return false;
    }
    return true;
  }
  if (AKeyFieldNames.find(u';') != String::npos) return false;
  TField* F = ADataSet->FindField(AKeyFieldNames);
  return F && !(VarIsNull(AKeyValues) && !vlIsNotAutoIncField(F));
}

TvlValueTypeClass vlValueTypeClassByField(TField* AField) {
  if (!AField) return ClassOf<TvlStringValueType>();
  switch (AField->DataType()) {
    case ftString: return ClassOf<TvlStringValueType>();
    case ftSmallint: return ClassOf<TvlSmallintValueType>();
    case ftInteger:
    case ftAutoInc: return ClassOf<TvlIntegerValueType>();
    case ftWord: return ClassOf<TvlWordValueType>();
    case ftBoolean: return ClassOf<TvlBooleanValueType>();
    case ftFloat:
    case ftCurrency: return ClassOf<TvlFloatValueType>();
    case ftBCD: return ClassOf<TvlCurrencyValueType>();
    case ftDate:
    case ftTime:
    case ftDateTime: return ClassOf<TvlDateTimeValueType>();
    case ftWideString: return ClassOf<TvlWideStringValueType>();
    case ftLargeint: return ClassOf<TvlLargeIntValueType>();
    case ftTimeStamp: return ClassOf<TvlSQLTimeStampValueType>();
    case ftFMTBcd: return ClassOf<TvlFMTBcdValueType>();
    default: return ClassOf<TvlVariantValueType>();
  }
}

// --- Adapters -----------------------------------------------------------------------------------

void TvlDBAdapterItem::Create(TDataSetClass ADataSetClass) {
  inherited::Create();
  FDataSetClass = ADataSetClass;
}

void TvlDBAdapterList::Destroy() {
  Clear();
  inherited::Destroy();
}

void TvlDBAdapterList::Clear() {
  for (TvlDBAdapterItem* Item : FItems) Free(Item);
  FItems.clear();
}

Boolean TvlDBAdapterList::FindAdapter(TDataSetClass ADataSetClass, Integer& AIndex) const {
  for (Integer I = ItemCount() - 1; I >= 0; --I) {
    TClass Registered = FItems[I]->DataSetClass().Class();
    if (ADataSetClass.Class()->InheritsFrom(Registered)) {
      AIndex = I;
      return true;
    }
    if (Registered->InheritsFrom(ADataSetClass.Class())) AIndex = I;
  }
  return false;
}

void TvlDBAdapterList::RegisterAdapter(TDataSetClass ADataSetClass, TvlDBAdapterItemClass AItemClass) {
  TvlDBAdapterItem* Item = CreateFrom(AItemClass, &TvlDBAdapterItem::Create, ADataSetClass);
  Integer Index = -1;
  if (FindAdapter(ADataSetClass, Index))
    FItems.insert(FItems.begin() + Index + 1, Item);
  else if (Index >= 0)
    FItems.insert(FItems.begin() + Index, Item);
  else
    FItems.push_back(Item);
}

void TvlDBAdapterList::UnregisterAdapter(TDataSetClass ADataSetClass, TvlDBAdapterItemClass AItemClass) {
  for (Integer I = ItemCount() - 1; I >= 0; --I) {
    TvlDBAdapterItem* Item = FItems[I];
    if (Item->DataSetClass() == ADataSetClass && Item->ClassType() == AItemClass.Class()) {
      FItems.erase(FItems.begin() + I);
      Free(Item);
    }
  }
}
