// Fields, field definitions, the field list and BLOB streams.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/classes/ClassRegistry.h"
#include "platform/classes/StringLists.h"
#include "platform/db/DB.h"
#include "platform/rtl/Conversions.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/Format.h"
#include "platform/rtl/Locale.h"
#include "platform/rtl/Numbers.h"
#include "platform/rtl/Strings.h"

using namespace dbconsts;

namespace {

const Variant& NullValue() {
  static const Variant v = Null();
  return v;
}

bool IsBlank(const Variant& V) { return VarIsNull(V) || VarIsEmpty(V); }

String FieldTypeName(TFieldType T) { return GetEnumName(TypeInfo<TFieldType>(), T).substr(2); }

}  // namespace

// --- TFieldDef ----------------------------------------------------------------------

void TFieldDef::Create(TCollection* Collection) { inherited::Create(Collection); }

void TFieldDef::SetName(const String& Value) {
  if (FName == Value) return;
  if (Collection()) {
    auto* defs = static_cast<TFieldDefs*>(Collection());
    Integer i = defs->IndexOf(Value);
    if (!Value.empty() && i >= 0 && i != Index()) DatabaseErrorFmt(SDuplicateFieldName, {Value});
  }
  FName = Value;
}

TClass TFieldDef::FieldClass() const { return DefaultFieldClass(FDataType).Class(); }

TField* TFieldDef::CreateField(TComponent* Owner, TDataSet* ADataSet) {
  TClass cls = FieldClass();
  if (!cls) return nullptr;
  TField* f = static_cast<TField*>(CreateFrom(cls, &TComponent::Create, Owner));
  try {
    f->FSize = FSize;
    f->SetFieldName(FName);
    f->SetRequired(FRequired);
    f->FReadOnly = FReadOnly;
    f->FFieldNo = FieldNo();
    if (FDataType == ftFixedChar || FDataType == ftFixedWideChar)
      static_cast<TStringField*>(f)->SetFixedChar(true);
    if (Is<TFloatField>(f) && FPrecision > 0) static_cast<TFloatField*>(f)->SetPrecision(FPrecision);
    if (FDataType != f->DataType()) f->SetDataType(FDataType);
    f->SetDataSet(ADataSet);
  } catch (...) {
    Free(f);
    throw;
  }
  return f;
}

void TFieldDef::Assign(TPersistent* Source) {
  if (auto* d = dynamic_cast<TFieldDef*>(Source)) {
    FName = d->FName;
    FDataType = d->FDataType;
    FSize = d->FSize;
    FPrecision = d->FPrecision;
    FRequired = d->FRequired;
    FReadOnly = d->FReadOnly;
    return;
  }
  inherited::Assign(Source);
}

void TFieldDefs::Create(TPersistent* AOwner) { inherited::Create(AOwner, ClassOf<TFieldDef>()); }

TFieldDef* TFieldDefs::Items(Integer Index) const {
  return static_cast<TFieldDef*>(TCollection::Items(Index));
}

TFieldDef* TFieldDefs::AddFieldDef() { return static_cast<TFieldDef*>(TCollection::Add()); }

void TFieldDefs::Add(const String& Name, TFieldType DataType, Integer Size, Boolean Required) {
  if (Name.empty()) DatabaseError(u"Field name missing");
  if (IndexOf(Name) >= 0) DatabaseErrorFmt(SDuplicateFieldName, {Name});
  if (Size < 0) DatabaseError(SInvalidFieldSize);
  TFieldDef* d = AddFieldDef();
  d->SetName(Name);
  d->SetDataType(DataType);
  d->SetSize(Size);
  d->SetRequired(Required);
}

Integer TFieldDefs::IndexOf(const String& Name) const {
  for (Integer i = 0; i < Count(); ++i)
    if (AnsiCompareText(Items(i)->Name(), Name) == 0) return i;
  return -1;
}

TFieldDef* TFieldDefs::Find(const String& Name) const {
  Integer i = IndexOf(Name);
  if (i < 0) DatabaseErrorFmt(SFieldNotFound, {Name});
  return Items(i);
}

void TFieldDefs::Update() { FUpdated = true; }

// --- TFields -------------------------------------------------------------------------

void TFields::Create(TDataSet* ADataSet) { FDataSet = ADataSet; }

void TFields::Destroy() {
  Clear();
  inherited::Destroy();
}

TField* TFields::Fields(Integer Index) const {
  if (Index < 0 || Index >= Count()) DatabaseError(SFieldIndexError, FDataSet);
  return FList[static_cast<size_t>(Index)];
}

void TFields::Add(TField* Field) {
  if (FDataSet && FDataSet->Active() && this == FDataSet->Fields()) FDataSet->CheckInactive();
  if (!Field->FieldName().empty() && FindField(Field->FieldName()))
    DatabaseErrorFmt(SDuplicateFieldName, {Field->DisplayName()}, FDataSet);
  FList.push_back(Field);
  Field->FDataSet = FDataSet;
}

void TFields::Remove(TField* Field) {
  FList.erase(std::remove(FList.begin(), FList.end(), Field), FList.end());
  Field->FDataSet = nullptr;
}

void TFields::Clear() {
  while (!FList.empty()) {
    TField* f = FList.back();
    FList.pop_back();
    f->FDataSet = nullptr;
    Free(f);
  }
}

TField* TFields::FindField(const String& FieldName) const {
  for (TField* f : FList)
    if (AnsiCompareText(f->FieldName(), FieldName) == 0) return f;
  return nullptr;
}

TField* TFields::FieldByName(const String& FieldName) const {
  TField* f = FindField(FieldName);
  if (!f) DatabaseErrorFmt(SFieldNotFound, {FieldName}, FDataSet);
  return f;
}

TField* TFields::FieldByNumber(Integer FieldNo) const {
  for (TField* f : FList)
    if (f->FieldNo() == FieldNo) return f;
  return nullptr;
}

Integer TFields::IndexOf(TField* Field) const {
  auto it = std::find(FList.begin(), FList.end(), Field);
  return it == FList.end() ? -1 : static_cast<Integer>(it - FList.begin());
}

void TFields::SetFieldIndex(TField* Field, Integer Value) {
  Integer cur = IndexOf(Field);
  if (cur < 0) return;
  if (Value < 0) Value = 0;
  if (Value >= Count()) Value = Count() - 1;
  if (cur == Value) return;
  FList.erase(FList.begin() + cur);
  FList.insert(FList.begin() + Value, Field);
  if (FDataSet) FDataSet->DataEvent(deFieldListChange, 0);
  if (FDataSet && FDataSet->Active()) FDataSet->DataEvent(deLayoutChange, 0);
}

void TFields::GetFieldNames(TStrings* List) const {
  List->BeginUpdate();
  List->Clear();
  for (TField* f : FList) List->Add(f->FieldName());
  List->EndUpdate();
}

// --- TField ------------------------------------------------------------------------

void TField::Create(TComponent* AOwner) {
  inherited::Create(AOwner);
  FVisible = true;
  FFieldKind = fkData;
  FAlignment = taLeftJustify;
}

void TField::Destroy() {
  if (FDataSet) {
    try {
      if (FDataSet->Active() && FDataSet->Fields()->IndexOf(this) >= 0 && !FDataSet->DefaultFields() &&
          !FDataSet->ComponentState().Contains(csDestroying))
        FDataSet->Close();
    } catch (...) {
    }
    if (FDataSet) {
      if (FDataSet->AggFields() && FDataSet->AggFields()->IndexOf(this) >= 0)
        FDataSet->AggFields()->Remove(this);
      else if (FDataSet->Fields())
        FDataSet->Fields()->Remove(this);
    }
  }
  inherited::Destroy();
}

void TField::SetDataSet(TDataSet* ADataSet) {
  if (ADataSet == FDataSet) return;
  if (FDataSet) {
    FDataSet->CheckInactive();
    if (Is<TAggregateField>(this))
      FDataSet->AggFields()->Remove(this);
    else
      FDataSet->Fields()->Remove(this);
  }
  if (ADataSet) {
    ADataSet->CheckInactive();
    if (Is<TAggregateField>(this))
      ADataSet->AggFields()->Add(this);
    else
      ADataSet->Fields()->Add(this);
  }
}

TComponent* TField::GetParentComponent() { return FDataSet; }

void TField::SetParentComponent(TComponent* AParent) { SetDataSet(As<TDataSet>(AParent)); }

void TField::Notification(TComponent* AComponent, TOperation Operation) {
  inherited::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FLookupDataSet) FLookupDataSet = nullptr;
}

Integer TField::Index() const {
  return FDataSet ? FDataSet->Fields()->IndexOf(const_cast<TField*>(this)) : -1;
}

void TField::SetIndex(Integer Value) {
  if (FDataSet) FDataSet->Fields()->SetFieldIndex(this, Value);
}

void TField::SetFieldName(const String& Value) {
  if (FFieldName == Value) return;
  if (FDataSet) {
    FDataSet->CheckInactive();
    TField* other = FDataSet->FindField(Value);
    if (other && other != this) DatabaseErrorFmt(SDuplicateFieldName, {Value}, FDataSet);
  }
  FFieldName = Value;
  if (FDataSet) FDataSet->DataEvent(deFieldListChange, 0);
}

void TField::SetFieldKind(TFieldKind Value) {
  if (FFieldKind == Value) return;
  if (FDataSet) FDataSet->CheckInactive();
  FFieldKind = Value;
}

void TField::SetSize(Integer Value) {
  if (FDataSet) FDataSet->CheckInactive();
  if (Value < 0) DatabaseError(SInvalidFieldSize);
  FSize = Value;
}

void TField::PropertyChanged(Boolean LayoutAffected) {
  if (FDataSet && FDataSet->Active())
    FDataSet->DataEvent(LayoutAffected ? deLayoutChange : deDataSetChange, 0);
}

void TField::SetDisplayLabel(const String& Value) {
  String v = Value == FFieldName ? String() : Value;
  if (FDisplayLabel == v) return;
  FDisplayLabel = v;
  PropertyChanged(true);
}

void TField::SetDisplayWidth(Integer Value) {
  if (FDisplayWidth == Value) return;
  FDisplayWidth = Value;
  PropertyChanged(true);
}

void TField::SetAlignment(TAlignment Value) {
  if (FAlignment == Value) return;
  FAlignment = Value;
  PropertyChanged(false);
}

void TField::SetVisible(Boolean Value) {
  if (FVisible == Value) return;
  FVisible = Value;
  PropertyChanged(true);
}

void TField::SetEditMask(const String& Value) {
  FEditMask = Value;
  PropertyChanged(false);
}

void TField::SetReadOnly(Boolean Value) {
  if (FReadOnly == Value) return;
  FReadOnly = Value;
  PropertyChanged(true);
}

void TField::SetKeyFields(const String& Value) {
  if (FDataSet) FDataSet->CheckInactive();
  FKeyFields = Value;
}

void TField::SetLookupDataSet(TDataSet* Value) {
  if (FDataSet) FDataSet->CheckInactive();
  if (Value && Value == FDataSet) DatabaseError(SCircularDataLink, this);
  FLookupDataSet = Value;
  if (Value) Value->FreeNotification(this);
}

void TField::SetLookupKeyFields(const String& Value) {
  if (FDataSet) FDataSet->CheckInactive();
  FLookupKeyFields = Value;
}

void TField::SetLookupResultField(const String& Value) {
  if (FDataSet) FDataSet->CheckInactive();
  FLookupResultField = Value;
}

Boolean TField::IsValidChar(Char C) const { return true; }

Boolean TField::CanModify() const {
  if (FReadOnly || !FDataSet) return false;
  if (FFieldKind != fkData && FFieldKind != fkLookup) return false;
  return FDataSet->CanModify();
}

void TField::FocusControl() {
  if (!FDataSet || !FDataSet->Active()) return;
  TField* f = this;
  FDataSet->DataEvent(deFocusControl, reinterpret_cast<NativeInt>(&f));
}

void TField::Validate() {
  if (Assigned(FOnValidate)) FOnValidate(this);
}

void TField::Change() {
  if (Assigned(FOnChange)) FOnChange(this);
}

void TField::Assign(TPersistent* Source) {
  if (!Source) {
    Clear();
    return;
  }
  if (auto* f = dynamic_cast<TField*>(Source)) {
    SetAsVariant(f->AsVariant());
    return;
  }
  inherited::Assign(Source);
}

// --- Value access ----------------------------------------------------------------------

const Variant& TField::GetData() const {
  if (!FDataSet || FOffset < 0) return NullValue();
  TRecordBuffer* b = FDataSet->GetActiveRecBuf();
  if (!b || static_cast<size_t>(FOffset) >= b->Values.size()) return NullValue();
  return b->Slot(static_cast<size_t>(FOffset));
}

Variant TField::TakeValue() {
  if (!FDataSet || FOffset < 0) return Null();
  TRecordBuffer* b = FDataSet->GetActiveRecBuf();
  if (!b || static_cast<size_t>(FOffset) >= b->Values.size()) return Null();
  // Only a data field's slot of a buffer that still reads its row is read again.
  if (b->Source && FFieldKind == fkData) return b->TakeSlot(static_cast<size_t>(FOffset));
  return b->Slot(static_cast<size_t>(FOffset));
}

Boolean TField::IsNull() const { return IsBlank(GetAsVariant()); }

Variant TField::OldValue() const { return FDataSet ? FDataSet->GetOldFieldValue(this) : Null(); }

void TField::SetData(const Variant& V) {
  if (!FDataSet) DatabaseErrorFmt(SDataSetMissing, {DisplayName()});
  TDataSetState st = FDataSet->State();
  bool calcState = st == dsCalcFields || st == dsInternalCalc;
  if (calcState) {
    if (IsDataField() && FFieldKind != fkInternalCalc) DatabaseError(SNotEditing, FDataSet);
  } else if (st == dsFilter || !IsEditMode(st)) {
    DatabaseError(SNotEditing, FDataSet);
  } else if (FReadOnly || (!IsDataField() && FFieldKind != fkLookup)) {
    DatabaseErrorFmt(SFieldReadOnly, {DisplayName()}, FDataSet);
  }
  TRecordBuffer* b = FDataSet->GetActiveRecBuf();
  if (!b || FOffset < 0 || static_cast<size_t>(FOffset) >= b->Values.size())
    DatabaseErrorFmt(SFieldNotFound, {DisplayName()}, FDataSet);
  Variant converted = ConvertValue(V);
  Variant& slot = b->Slot(static_cast<size_t>(FOffset));
  Variant old = slot;
  slot = converted;
  if (!calcState) {
    try {
      Validate();
    } catch (...) {
      slot = old;
      throw;
    }
    FDataSet->DataEvent(deFieldChange, reinterpret_cast<NativeInt>(this));
  }
}

Variant TField::ConvertValue(const Variant& V) const { return IsBlank(V) ? Null() : V; }

Variant TField::GetAsVariant() const { return GetData(); }
void TField::SetVarValue(const Variant& V) { SetData(V); }

void TField::AccessError(const String& TypeName) const {
  DatabaseErrorFmt(SFieldAccessError, {DisplayName(), TypeName});
}

void TField::RangeError(double Value, double Min, double Max) const {
  DatabaseErrorFmt(SFieldRangeError, {Value, DisplayName(), Min, Max});
}

String TField::DataTypeName() const { return FieldTypeName(FDataType); }

String TField::GetAsString() const {
  Variant v = GetAsVariant();
  return IsBlank(v) ? String() : VarToStr(v);
}
void TField::SetAsStringValue(const String& V) { SetVarValue(V.empty() ? Null() : Variant(V)); }

Integer TField::GetAsInteger() const {
  Variant v = GetAsVariant();
  if (IsBlank(v)) return 0;
  try {
    return v.AsInteger();
  } catch (const EVariantError&) {
    AccessError(u"Integer");
  }
}
void TField::SetAsIntegerValue(Integer V) { SetVarValue(Variant(V)); }
Int64 TField::GetAsLargeInt() const {
  Variant v = GetAsVariant();
  if (IsBlank(v)) return 0;
  try {
    return v.AsInt64();
  } catch (const EVariantError&) {
    AccessError(u"LargeInt");
  }
}
void TField::SetAsLargeIntValue(Int64 V) { SetVarValue(Variant(V)); }
Double TField::GetAsFloat() const {
  Variant v = GetAsVariant();
  if (IsBlank(v)) return 0;
  try {
    return v.AsDouble();
  } catch (const EVariantError&) {
    AccessError(u"Float");
  }
}
void TField::SetAsFloatValue(Double V) { SetVarValue(Variant(V)); }
Currency TField::GetAsCurrency() const {
  Variant v = GetAsVariant();
  if (IsBlank(v)) return Currency();
  try {
    return v.AsCurrency();
  } catch (const EVariantError&) {
    AccessError(u"Currency");
  }
}
void TField::SetAsCurrencyValue(Currency V) { SetVarValue(Variant(V)); }
Boolean TField::GetAsBoolean() const {
  Variant v = GetAsVariant();
  if (IsBlank(v)) return false;
  try {
    return v.AsBoolean();
  } catch (const EVariantError&) {
    AccessError(u"Boolean");
  }
}
void TField::SetAsBooleanValue(Boolean V) { SetVarValue(Variant(V)); }
TDateTime TField::GetAsDateTime() const {
  Variant v = GetAsVariant();
  if (IsBlank(v)) return 0;
  try {
    return v.AsDateTime();
  } catch (const EVariantError&) {
    AccessError(u"DateTime");
  }
}
void TField::SetAsDateTimeValue(TDateTime V) { SetVarValue(VarFromDateTime(V)); }

TBcd TField::AsBCD() const {
  Variant v = GetAsVariant();
  if (IsBlank(v)) return NullBcd;
  return VarToBcd(v);
}
void TField::SetAsBCD(const TBcd& V) { SetVarValue(VarFMTBcdCreate(V)); }

TSQLTimeStamp TField::AsSQLTimeStamp() const {
  Variant v = GetAsVariant();
  if (IsBlank(v)) return TSQLTimeStamp{};
  return VarToSQLTimeStamp(v);
}
void TField::SetAsSQLTimeStamp(const TSQLTimeStamp& V) { SetVarValue(VarSQLTimeStampCreate(V)); }

AnsiString TField::AsAnsiString() const {
  Variant v = GetAsVariant();
  if (IsBlank(v)) return {};
  return v.AsAnsiString();
}
void TField::SetAsAnsiString(const AnsiString& V) { SetVarValue(Variant(V)); }

TBytes TField::AsBytes() const {
  AnsiString s = AsAnsiString();
  return TBytes(s.begin(), s.end());
}
void TField::SetAsBytes(const TBytes& V) { SetVarValue(Variant(AnsiString(V.begin(), V.end()))); }

void TField::GetText(String& Text, Boolean DisplayText) const { Text = GetAsString(); }
void TField::SetTextValue(const String& Text) { SetAsStringValue(Text); }

String TField::GetTextValue(Boolean Display) const {
  String text;
  if (Assigned(FOnGetText))
    FOnGetText(const_cast<TField*>(this), text, Display);
  else
    GetText(text, Display);
  return text;
}

void TField::SetText(const String& Value) {
  if (Assigned(FOnSetText))
    FOnSetText(this, Value);
  else
    SetTextValue(Value);
}

// --- String fields ---------------------------------------------------------------------

void TStringField::Create(TComponent* AOwner) {
  inherited::Create(AOwner);
  SetDataType(ftString);
  FTransliterate = true;
  if (Size() == 0) SetSize(20);
}

Variant TStringField::ConvertValue(const Variant& V) const {
  if (IsBlank(V)) return Null();
  String s = VarToStr(V);
  if (Size() > 0 && static_cast<Integer>(s.size()) > Size()) s.resize(static_cast<size_t>(Size()));
  return Variant(s);
}

String TStringField::GetAsString() const {
  const Variant& v = GetData();
  return IsBlank(v) ? String() : VarToStr(v);
}

Integer TStringField::GetAsInteger() const {
  String s = Trim(GetAsString());
  if (s.empty()) return 0;
  Integer r;
  if (!TryStrToInt(s, r)) DatabaseErrorFmt(SInvalidIntegerValue, {s, DisplayName()});
  return r;
}

Int64 TStringField::GetAsLargeInt() const {
  String s = Trim(GetAsString());
  if (s.empty()) return 0;
  Int64 r;
  if (!TryStrToInt64(s, r)) DatabaseErrorFmt(SInvalidIntegerValue, {s, DisplayName()});
  return r;
}

Double TStringField::GetAsFloat() const {
  String s = Trim(GetAsString());
  if (s.empty()) return 0;
  double r;
  if (!TryStrToFloat(s, r)) DatabaseErrorFmt(SInvalidFloatValue, {s, DisplayName()});
  return r;
}

Boolean TStringField::GetAsBoolean() const {
  String s = Trim(GetAsString());
  if (s.empty()) return false;
  Char c = static_cast<Char>(s[0] & ~0x20);
  return c == u'T' || c == u'Y';
}

TDateTime TStringField::GetAsDateTime() const {
  String s = Trim(GetAsString());
  if (s.empty()) return 0;
  TDateTime r;
  if (!TryStrToDateTime(s, r)) DatabaseErrorFmt(SInvalidDateTimeValue, {s, DisplayName()});
  return r;
}

void TStringField::GetText(String& Text, Boolean DisplayText) const { Text = GetAsString(); }

void TWideStringField::Create(TComponent* AOwner) {
  inherited::Create(AOwner);
  SetDataType(ftWideString);
}

void TGuidField::Create(TComponent* AOwner) {
  inherited::Create(AOwner);
  SetDataType(ftGuid);
  SetSize(38);
}

// --- Numeric fields -------------------------------------------------------------------

void TNumericField::Create(TComponent* AOwner) {
  inherited::Create(AOwner);
  SetAlignment(taRightJustify);
}

void TNumericField::SetDisplayFormat(const String& Value) {
  FDisplayFormat = Value;
  PropertyChanged(false);
}

void TNumericField::SetEditFormat(const String& Value) {
  FEditFormat = Value;
  PropertyChanged(false);
}

Integer TNumericField::GetAsInteger() const {
  const Variant& v = GetData();
  return IsBlank(v) ? 0 : v.AsInteger();
}
Int64 TNumericField::GetAsLargeInt() const {
  const Variant& v = GetData();
  return IsBlank(v) ? 0 : v.AsInt64();
}
Double TNumericField::GetAsFloat() const {
  const Variant& v = GetData();
  return IsBlank(v) ? 0 : v.AsDouble();
}
Currency TNumericField::GetAsCurrency() const {
  const Variant& v = GetData();
  return IsBlank(v) ? Currency() : v.AsCurrency();
}
void TNumericField::SetAsStringValue(const String& V) {
  String s = Trim(V);
  SetVarValue(s.empty() ? Null() : Variant(s));
}

void TIntegerField::Create(TComponent* AOwner) {
  inherited::Create(AOwner);
  SetDataType(ftInteger);
}

Variant TIntegerField::ConvertValue(const Variant& V) const {
  if (IsBlank(V)) return Null();
  Int64 n = 0;
  if (VarIsStr(V)) {
    String s = Trim(VarToStr(V));
    if (!TryStrToInt64(s, n)) DatabaseErrorFmt(SInvalidIntegerValue, {s, DisplayName()});
  } else if (VarIsFloat(V) || V.VType() == varCurrency || V.VType() == varDate) {
    double d = V.AsDouble();
    if (!std::isfinite(d) || d < -9.2e18 || d > 9.2e18)
      RangeError(d, static_cast<double>(TypeMin()), static_cast<double>(TypeMax()));
    n = static_cast<Int64>(Round(d));
  } else {
    try {
      n = V.AsInt64();
    } catch (const EVariantError&) {
      DatabaseErrorFmt(SInvalidIntegerValue, {VarToStr(V), DisplayName()});
    }
  }
  if ((FMinValue != 0 || FMaxValue != 0) && (n < FMinValue || n > FMaxValue))
    RangeError(static_cast<double>(n), static_cast<double>(FMinValue), static_cast<double>(FMaxValue));
  if (n < TypeMin() || n > TypeMax())
    RangeError(static_cast<double>(n), static_cast<double>(TypeMin()), static_cast<double>(TypeMax()));
  return MakeValue(n);
}

void TIntegerField::GetText(String& Text, Boolean DisplayText) const {
  const Variant& v = GetData();
  if (IsBlank(v)) {
    Text.clear();
    return;
  }
  const String& fmt = DisplayText || EditFormat().empty() ? DisplayFormat() : EditFormat();
  Text = fmt.empty() ? IntToStr(v.AsInt64()) : FormatFloat(fmt, static_cast<double>(v.AsInt64()));
}

void TSmallintField::Create(TComponent* AOwner) {
  inherited::Create(AOwner);
  SetDataType(ftSmallint);
}
void TShortintField::Create(TComponent* AOwner) {
  inherited::Create(AOwner);
  SetDataType(ftShortint);
}
void TByteField::Create(TComponent* AOwner) {
  inherited::Create(AOwner);
  SetDataType(ftByte);
}
void TWordField::Create(TComponent* AOwner) {
  inherited::Create(AOwner);
  SetDataType(ftWord);
}
void TLongWordField::Create(TComponent* AOwner) {
  inherited::Create(AOwner);
  SetDataType(ftLongWord);
}
void TAutoIncField::Create(TComponent* AOwner) {
  inherited::Create(AOwner);
  SetDataType(ftAutoInc);
}
void TLargeintField::Create(TComponent* AOwner) {
  inherited::Create(AOwner);
  SetDataType(ftLargeint);
}

void TFloatField::Create(TComponent* AOwner) {
  inherited::Create(AOwner);
  SetDataType(ftFloat);
  FPrecision = 15;
}

void TFloatField::SetCurrency(Boolean Value) {
  if (FCurrency == Value) return;
  FCurrency = Value;
  PropertyChanged(false);
}

void TFloatField::SetPrecision(Integer Value) {
  if (Value < 2) Value = 2;
  if (Value > 15) Value = 15;
  FPrecision = Value;
  PropertyChanged(false);
}

Variant TFloatField::ConvertValue(const Variant& V) const {
  if (IsBlank(V)) return Null();
  double d = 0;
  if (VarIsStr(V)) {
    String s = Trim(VarToStr(V));
    if (!TryStrToFloat(s, d)) DatabaseErrorFmt(SInvalidFloatValue, {s, DisplayName()});
  } else {
    try {
      d = V.AsDouble();
    } catch (const EVariantError&) {
      DatabaseErrorFmt(SInvalidFloatValue, {VarToStr(V), DisplayName()});
    }
  }
  if ((FMinValue != 0 || FMaxValue != 0) && (d < FMinValue || d > FMaxValue))
    RangeError(d, FMinValue, FMaxValue);
  return Variant(d);
}

void TFloatField::GetText(String& Text, Boolean DisplayText) const {
  const Variant& v = GetData();
  if (IsBlank(v)) {
    Text.clear();
    return;
  }
  double d = v.AsDouble();
  const String& fmt = DisplayText || EditFormat().empty() ? DisplayFormat() : EditFormat();
  if (!fmt.empty())
    Text = FormatFloat(fmt, d);
  else if (FCurrency)
    Text = DisplayText ? FloatToStrF(d, ffCurrency, FPrecision, FormatSettings().CurrencyDecimals)
                       : FloatToStrF(d, ffFixed, FPrecision, FormatSettings().CurrencyDecimals);
  else
    Text = FloatToStrF(d, ffGeneral, FPrecision, 0);
}

void TSingleField::Create(TComponent* AOwner) {
  inherited::Create(AOwner);
  SetDataType(Db::ftSingle);
  SetPrecision(7);
}
void TExtendedField::Create(TComponent* AOwner) {
  inherited::Create(AOwner);
  SetDataType(Db::ftExtended);
}
void TCurrencyField::Create(TComponent* AOwner) {
  inherited::Create(AOwner);
  SetDataType(ftCurrency);
  SetCurrency(true);
}

void TBCDField::Create(TComponent* AOwner) {
  inherited::Create(AOwner);
  SetDataType(ftBCD);
  SetSize(4);
  FCurrency = false;
}

void TBCDField::SetCurrency(Boolean Value) {
  FCurrency = Value;
  PropertyChanged(false);
}

Variant TBCDField::ConvertValue(const Variant& V) const {
  if (IsBlank(V)) return Null();
  Currency c;
  try {
    c = V.AsCurrency();
  } catch (const Exception&) {
    DatabaseErrorFmt(SInvalidFloatValue, {VarToStr(V), DisplayName()});
  }
  if ((FMinValue != Currency() || FMaxValue != Currency()) && (c < FMinValue || c > FMaxValue))
    RangeError(c.ToDouble(), FMinValue.ToDouble(), FMaxValue.ToDouble());
  return Variant(c);
}

void TBCDField::GetText(String& Text, Boolean DisplayText) const {
  const Variant& v = GetData();
  if (IsBlank(v)) {
    Text.clear();
    return;
  }
  Currency c = v.AsCurrency();
  const String& fmt = DisplayText || EditFormat().empty() ? DisplayFormat() : EditFormat();
  if (!fmt.empty())
    Text = FormatCurr(fmt, c);
  else if (FCurrency)
    Text = DisplayText ? CurrToStrF(c, ffCurrency, FormatSettings().CurrencyDecimals)
                       : CurrToStrF(c, ffFixed, FormatSettings().CurrencyDecimals);
  else
    Text = CurrToStr(c);
}

void TFMTBCDField::Create(TComponent* AOwner) {
  inherited::Create(AOwner);
  SetDataType(ftFMTBcd);
  SetSize(8);
  FPrecision = 15;
}

void TFMTBCDField::SetCurrency(Boolean Value) {
  FCurrency = Value;
  PropertyChanged(false);
}

Variant TFMTBCDField::ConvertValue(const Variant& V) const {
  if (IsBlank(V)) return Null();
  try {
    return VarFMTBcdCreate(VarToBcd(V));
  } catch (const Exception&) {
    DatabaseErrorFmt(SInvalidFloatValue, {VarToStr(V), DisplayName()});
  }
}

Double TFMTBCDField::GetAsFloat() const {
  const Variant& v = GetData();
  return IsBlank(v) ? 0 : BcdToDouble(VarToBcd(v));
}

String TFMTBCDField::GetAsString() const {
  const Variant& v = GetData();
  return IsBlank(v) ? String() : BcdToStr(VarToBcd(v));
}

void TFMTBCDField::GetText(String& Text, Boolean DisplayText) const {
  const Variant& v = GetData();
  if (IsBlank(v)) {
    Text.clear();
    return;
  }
  const String& fmt = DisplayText || EditFormat().empty() ? DisplayFormat() : EditFormat();
  Text = fmt.empty() ? BcdToStr(VarToBcd(v)) : FormatFloat(fmt, BcdToDouble(VarToBcd(v)));
}

// --- Boolean fields ---------------------------------------------------------------------

void TBooleanField::Create(TComponent* AOwner) {
  inherited::Create(AOwner);
  SetDataType(ftBoolean);
  FTrueText = u"True";
  FFalseText = u"False";
}

void TBooleanField::SetDisplayValues(const String& Value) {
  FDisplayValues = Value;
  size_t p = Value.find(u';');
  if (Value.empty()) {
    FTrueText = u"True";
    FFalseText = u"False";
  } else if (p == String::npos) {
    FTrueText = Value;
    FFalseText.clear();
  } else {
    FTrueText = Value.substr(0, p);
    FFalseText = Value.substr(p + 1);
  }
  PropertyChanged(true);
}

Variant TBooleanField::ConvertValue(const Variant& V) const {
  if (IsBlank(V)) return Null();
  if (VarIsStr(V)) {
    String s = Trim(VarToStr(V));
    if (s.empty()) return Null();
    auto prefix = [&](const String& t) {
      return !t.empty() && AnsiCompareText(s, t.substr(0, std::min(t.size(), s.size()))) == 0;
    };
    if (prefix(FFalseText) || AnsiCompareText(s, u"False") == 0) return Variant(false);
    if (prefix(FTrueText) || AnsiCompareText(s, u"True") == 0) return Variant(true);
    DatabaseErrorFmt(SInvalidBoolValue, {s, DisplayName()});
  }
  try {
    return Variant(V.AsBoolean());
  } catch (const EVariantError&) {
    DatabaseErrorFmt(SInvalidBoolValue, {VarToStr(V), DisplayName()});
  }
}

Boolean TBooleanField::GetAsBoolean() const {
  const Variant& v = GetData();
  return IsBlank(v) ? false : v.AsBoolean();
}

String TBooleanField::GetAsString() const {
  const Variant& v = GetData();
  if (IsBlank(v)) return {};
  return v.AsBoolean() ? FTrueText : FFalseText;
}

void TBooleanField::SetAsStringValue(const String& V) { SetVarValue(Variant(V)); }

Integer TBooleanField::GetAsInteger() const { return GetAsBoolean() ? 1 : 0; }

void TBooleanField::GetText(String& Text, Boolean DisplayText) const { Text = GetAsString(); }

Integer TBooleanField::GetDefaultWidth() const {
  return static_cast<Integer>(std::max(FTrueText.size(), FFalseText.size()));
}

// --- Date and time fields -------------------------------------------------------------------

void TDateTimeField::Create(TComponent* AOwner) {
  inherited::Create(AOwner);
  SetDataType(ftDateTime);
}

void TDateTimeField::SetDisplayFormat(const String& Value) {
  FDisplayFormat = Value;
  PropertyChanged(false);
}

Variant TDateTimeField::ConvertValue(const Variant& V) const {
  if (IsBlank(V)) return Null();
  TDateTime d = 0;
  if (VarIsStr(V)) {
    String s = Trim(VarToStr(V));
    if (s.empty()) return Null();
    if (!TryStrToDateTime(s, d)) DatabaseErrorFmt(SInvalidDateTimeValue, {s, DisplayName()});
  } else {
    try {
      d = V.AsDateTime();
    } catch (const Exception&) {
      DatabaseErrorFmt(SInvalidDateTimeValue, {VarToStr(V), DisplayName()});
    }
  }
  if (!std::isfinite(d)) DatabaseErrorFmt(SInvalidDateTimeValue, {VarToStr(V), DisplayName()});
  return VarFromDateTime(Normalize(d));
}

TDateTime TDateTimeField::GetAsDateTime() const {
  const Variant& v = GetData();
  return IsBlank(v) ? 0 : v.AsDateTime();
}

void TDateTimeField::SetAsStringValue(const String& V) { SetVarValue(Variant(V)); }

String TDateTimeField::DefaultFormat() const { return u"c"; }

void TDateTimeField::GetText(String& Text, Boolean DisplayText) const {
  const Variant& v = GetData();
  if (IsBlank(v)) {
    Text.clear();
    return;
  }
  String fmt = DisplayText && !FDisplayFormat.empty() ? FDisplayFormat : DefaultFormat();
  Text = FormatDateTime(fmt, v.AsDateTime());
}

void TDateField::Create(TComponent* AOwner) {
  inherited::Create(AOwner);
  SetDataType(ftDate);
}
TDateTime TDateField::Normalize(TDateTime V) const { return std::trunc(V); }
String TDateField::DefaultFormat() const { return FormatSettings().ShortDateFormat; }

void TTimeField::Create(TComponent* AOwner) {
  inherited::Create(AOwner);
  SetDataType(ftTime);
}
TDateTime TTimeField::Normalize(TDateTime V) const { return std::fabs(V - std::trunc(V)); }
String TTimeField::DefaultFormat() const { return FormatSettings().LongTimeFormat; }

void TSQLTimeStampField::Create(TComponent* AOwner) {
  inherited::Create(AOwner);
  SetDataType(ftTimeStamp);
}

void TSQLTimeStampField::SetDisplayFormat(const String& Value) {
  FDisplayFormat = Value;
  PropertyChanged(false);
}

Variant TSQLTimeStampField::ConvertValue(const Variant& V) const {
  if (IsBlank(V)) return Null();
  try {
    if (VarIsType(V, VarSQLTimeStamp())) return V;
    if (VarIsStr(V)) return VarSQLTimeStampCreate(Trim(VarToStr(V)));
    return VarSQLTimeStampCreate(V.AsDateTime());
  } catch (const Exception&) {
    DatabaseErrorFmt(SInvalidDateTimeValue, {VarToStr(V), DisplayName()});
  }
}

TDateTime TSQLTimeStampField::GetAsDateTime() const {
  const Variant& v = GetData();
  return IsBlank(v) ? 0 : SQLTimeStampToDateTime(VarToSQLTimeStamp(v));
}

void TSQLTimeStampField::SetAsDateTimeValue(TDateTime V) { SetVarValue(VarSQLTimeStampCreate(V)); }
void TSQLTimeStampField::SetAsStringValue(const String& V) {
  SetVarValue(Trim(V).empty() ? Null() : Variant(V));
}

void TSQLTimeStampField::GetText(String& Text, Boolean DisplayText) const {
  const Variant& v = GetData();
  if (IsBlank(v)) {
    Text.clear();
    return;
  }
  String fmt = DisplayText && !FDisplayFormat.empty() ? FDisplayFormat : String(u"c");
  Text = SQLTimeStampToStr(fmt, VarToSQLTimeStamp(v));
}

// --- BLOB fields -------------------------------------------------------------------------

void TBlobField::Create(TComponent* AOwner) {
  inherited::Create(AOwner);
  SetDataType(ftBlob);
}

Variant TBlobField::ConvertValue(const Variant& V) const {
  if (IsBlank(V)) return Null();
  if (VarIsArray(V)) {
    // A byte array: its bytes.
    Variant copy = V;
    Integer lo = VarArrayLowBound(copy, 1), hi = VarArrayHighBound(copy, 1);
    AnsiString bytes;
    for (Integer i = lo; i <= hi; ++i)
      bytes.push_back(static_cast<char>(copy.GetElement(i).AsInteger() & 0xFF));
    return Variant(bytes);
  }
  return Variant(V.AsAnsiString());
}

Integer TBlobField::BlobSize() const {
  const Variant& v = GetData();
  return IsBlank(v) ? 0 : static_cast<Integer>(v.AsAnsiString().size());
}

String TBlobField::GetAsString() const {
  const Variant& v = GetData();
  return IsBlank(v) ? String() : v.AsString();
}

void TBlobField::SetAsStringValue(const String& V) { SetVarValue(V.empty() ? Null() : Variant(V)); }

void TBlobField::GetText(String& Text, Boolean DisplayText) const { Text = IsNull() ? u"(blob)" : u"(BLOB)"; }

void TBlobField::LoadFromStream(TStream* Stream) {
  Stream->SetPosition(0);
  Int64 n = Stream->Size();
  if (n < 0 || n > 0x7FFFFFFF) DatabaseError(SInvalidFieldSize);
  AnsiString bytes(static_cast<size_t>(n), '\0');
  if (n > 0) Stream->ReadBuffer(bytes.data(), static_cast<Integer>(n));
  SetAsAnsiString(bytes);
}

void TBlobField::SaveToStream(TStream* Stream) {
  AnsiString bytes = AsAnsiString();
  if (!bytes.empty()) Stream->WriteBuffer(bytes.data(), static_cast<Integer>(bytes.size()));
}

void TMemoField::Create(TComponent* AOwner) {
  inherited::Create(AOwner);
  SetDataType(ftMemo);
}
void TMemoField::GetText(String& Text, Boolean DisplayText) const { Text = IsNull() ? u"(memo)" : u"(MEMO)"; }

void TWideMemoField::Create(TComponent* AOwner) {
  inherited::Create(AOwner);
  SetDataType(ftWideMemo);
}
Variant TWideMemoField::ConvertValue(const Variant& V) const {
  if (IsBlank(V)) return Null();
  return Variant(VarToStr(V));
}
String TWideMemoField::GetAsString() const {
  const Variant& v = GetData();
  return IsBlank(v) ? String() : VarToStr(v);
}
void TWideMemoField::SetAsStringValue(const String& V) { SetVarValue(V.empty() ? Null() : Variant(V)); }
void TWideMemoField::GetText(String& Text, Boolean DisplayText) const {
  Text = IsNull() ? u"(widememo)" : u"(WIDEMEMO)";
}

void TGraphicField::Create(TComponent* AOwner) {
  inherited::Create(AOwner);
  SetDataType(ftGraphic);
}

void TBytesField::Create(TComponent* AOwner) {
  inherited::Create(AOwner);
  SetDataType(ftBytes);
  if (Size() == 0) SetSize(16);
}
Variant TBytesField::ConvertValue(const Variant& V) const {
  if (IsBlank(V)) return Null();
  return Variant(V.AsAnsiString());
}
String TBytesField::GetAsString() const {
  const Variant& v = GetData();
  return IsBlank(v) ? String() : v.AsString();
}
void TBytesField::GetText(String& Text, Boolean DisplayText) const { Text = IsNull() ? u"" : u"(Bytes)"; }

void TVarBytesField::Create(TComponent* AOwner) {
  inherited::Create(AOwner);
  SetDataType(ftVarBytes);
}

void TVariantField::Create(TComponent* AOwner) {
  inherited::Create(AOwner);
  SetDataType(ftVariant);
}

void TAggregateField::Create(TComponent* AOwner) {
  inherited::Create(AOwner);
  SetFieldKind(fkAggregate);
  FValue = Null();
}

// --- Field classes -----------------------------------------------------------------------

TFieldClass DefaultFieldClass(TFieldType DataType) {
  switch (DataType) {
    case ftString:
    case ftFixedChar:
      return ClassOf<TStringField>();
    case ftWideString:
    case ftFixedWideChar:
      return ClassOf<TWideStringField>();
    case ftSmallint:
      return ClassOf<TSmallintField>();
    case ftInteger:
      return ClassOf<TIntegerField>();
    case ftWord:
      return ClassOf<TWordField>();
    case ftLongWord:
      return ClassOf<TLongWordField>();
    case ftShortint:
      return ClassOf<TShortintField>();
    case ftByte:
      return ClassOf<TByteField>();
    case ftAutoInc:
      return ClassOf<TAutoIncField>();
    case ftLargeint:
      return ClassOf<TLargeintField>();
    case ftBoolean:
      return ClassOf<TBooleanField>();
    case ftFloat:
      return ClassOf<TFloatField>();
    case Db::ftSingle:
      return ClassOf<TSingleField>();
    case Db::ftExtended:
      return ClassOf<TExtendedField>();
    case ftCurrency:
      return ClassOf<TCurrencyField>();
    case ftBCD:
      return ClassOf<TBCDField>();
    case ftFMTBcd:
      return ClassOf<TFMTBCDField>();
    case ftDate:
      return ClassOf<TDateField>();
    case ftTime:
      return ClassOf<TTimeField>();
    case ftDateTime:
      return ClassOf<TDateTimeField>();
    case ftTimeStamp:
      return ClassOf<TSQLTimeStampField>();
    case ftBytes:
      return ClassOf<TBytesField>();
    case ftVarBytes:
      return ClassOf<TVarBytesField>();
    case ftBlob:
    case ftTypedBinary:
    case ftOraBlob:
    case ftParadoxOle:
    case ftDBaseOle:
    case ftStream:
      return ClassOf<TBlobField>();
    case ftMemo:
    case ftFmtMemo:
    case ftOraClob:
      return ClassOf<TMemoField>();
    case ftWideMemo:
      return ClassOf<TWideMemoField>();
    case ftGraphic:
      return ClassOf<TGraphicField>();
    case ftVariant:
      return ClassOf<TVariantField>();
    case ftGuid:
      return ClassOf<TGuidField>();
    default:
      return TFieldClass();
  }
}

// --- TBlobStream -------------------------------------------------------------------------

void TBlobStream::Create(TBlobField* Field, TBlobStreamMode Mode) {
  FField = Field;
  FMode = Mode;
  if (Mode != bmRead) {
    TDataSet* ds = Field->DataSet();
    if (!ds || !IsEditMode(ds->State())) DatabaseError(SNotEditing, ds);
    if (Field->ReadOnly()) DatabaseErrorFmt(SFieldReadOnly, {Field->DisplayName()}, ds);
  }
  if (Mode != bmWrite) {
    AnsiString bytes = Field->AsAnsiString();
    if (!bytes.empty()) TMemoryStream::Write(bytes.data(), static_cast<Integer>(bytes.size()));
    SetPosition(0);
  } else {
    FModified = true;  // bmWrite replaces the data even when nothing is written
  }
}

void TBlobStream::Destroy() {
  if (FModified && FField) {
    try {
      AnsiString bytes(static_cast<const char*>(Memory()), static_cast<size_t>(Size()));
      FField->SetAsAnsiString(bytes);
      FField->SetModified(true);
    } catch (...) {
    }
  }
  inherited::Destroy();
}

Integer TBlobStream::Write(const void* Buffer, Integer Count) {
  if (FMode == bmRead) throw EWriteError(u"Stream write error");
  FModified = true;
  return TMemoryStream::Write(Buffer, Count);
}

void TBlobStream::SetSize(Int64 NewSize) {
  if (FMode == bmRead) throw EWriteError(u"Stream write error");
  FModified = true;
  TMemoryStream::SetSize(NewSize);
}

void TBlobStream::Truncate() { SetSize(Position()); }

// --- Parameters ----------------------------------------------------------------------------

void TParam::Create(TCollection* Collection) {
  inherited::Create(Collection);
  FParamType = ptUnknown;
  FValue = Null();
}

void TParam::SetValue(const Variant& V) {
  FValue = V;
  if (FDataType == ftUnknown) {
    switch (VarType(V) & varTypeMask) {
      case varSmallint:
      case varShortInt:
      case varByte:
        FDataType = ftSmallint;
        break;
      case varInteger:
        FDataType = ftInteger;
        break;
      case varWord:
        FDataType = ftWord;
        break;
      case varLongWord:
      case varInt64:
      case varUInt64:
        FDataType = ftLargeint;
        break;
      case varSingle:
      case varDouble:
        FDataType = ftFloat;
        break;
      case varCurrency:
        FDataType = ftCurrency;
        break;
      case varDate:
        FDataType = ftDateTime;
        break;
      case varBoolean:
        FDataType = ftBoolean;
        break;
      case varString:
        FDataType = ftString;
        break;
      case varOleStr:
      case varUString:
        FDataType = ftWideString;
        break;
      default:
        break;
    }
  }
}

void TParam::SetAsString(const String& V) {
  FDataType = ftString;
  FValue = V;
}
void TParam::SetAsInteger(Integer V) {
  FDataType = ftInteger;
  FValue = V;
}
void TParam::SetAsFloat(Double V) {
  FDataType = ftFloat;
  FValue = V;
}
void TParam::SetAsBoolean(Boolean V) {
  FDataType = ftBoolean;
  FValue = V;
}
void TParam::SetAsDateTime(TDateTime V) {
  FDataType = ftDateTime;
  FValue = VarFromDateTime(V);
}

void TParam::AssignField(TField* Field) {
  if (!Field) return;
  FName = Field->FieldName();
  FDataType = Field->DataType();
  FValue = Field->AsVariant();
}

void TParam::Assign(TPersistent* Source) {
  if (auto* p = dynamic_cast<TParam*>(Source)) {
    FName = p->FName;
    FDataType = p->FDataType;
    FParamType = p->FParamType;
    FSize = p->FSize;
    FValue = p->FValue;
    return;
  }
  if (auto* f = dynamic_cast<TField*>(Source)) {
    AssignField(f);
    return;
  }
  inherited::Assign(Source);
}

void TParams::Create(TPersistent* AOwner) {
  inherited::Create(ClassOf<TParam>());
  FOwner = AOwner;
}

TParam* TParams::Items(Integer Index) const { return static_cast<TParam*>(TCollection::Items(Index)); }
TParam* TParams::AddParam() { return static_cast<TParam*>(TCollection::Add()); }

TParam* TParams::CreateParam(TFieldType FldType, const String& ParamName, TParamType ParamType) {
  TParam* p = AddParam();
  p->SetName(ParamName);
  p->SetDataType(FldType);
  p->SetParamType(ParamType);
  return p;
}

TParam* TParams::FindParam(const String& Value) const {
  for (Integer i = 0; i < Count(); ++i)
    if (AnsiCompareText(Items(i)->Name(), Value) == 0) return Items(i);
  return nullptr;
}

TParam* TParams::ParamByName(const String& Value) const {
  TParam* p = FindParam(Value);
  if (!p) DatabaseErrorFmt(SParameterNotFound, {Value}, dynamic_cast<TComponent*>(FOwner));
  return p;
}
