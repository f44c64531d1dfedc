#include "lib/data/vlValueTypes.h"

#include <cstring>

#include "lib/foundation/vlVariants.h"
#include "platform/classes/Lists.h"
#include "platform/classes/ModuleInit.h"
#include "platform/classes/Streams.h"
#include "platform/rtl/CodePages.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/FMTBcd.h"
#include "platform/rtl/VariantTexts.h"
#include "platform/rtl/SqlTimSt.h"
#include "platform/rtl/Variants.h"

CL_IMPLEMENT_CLASS(TvlValueType)
CL_IMPLEMENT_CLASS(TvlStringValueType)
CL_IMPLEMENT_CLASS(TvlWideStringValueType)
CL_IMPLEMENT_CLASS(TvlSmallintValueType)
CL_IMPLEMENT_CLASS(TvlIntegerValueType)
CL_IMPLEMENT_CLASS(TvlWordValueType)
CL_IMPLEMENT_CLASS(TvlBooleanValueType)
CL_IMPLEMENT_CLASS(TvlFloatValueType)
CL_IMPLEMENT_CLASS(TvlCurrencyValueType)
CL_IMPLEMENT_CLASS(TvlDateTimeValueType)
CL_IMPLEMENT_CLASS(TvlLargeIntValueType)
CL_IMPLEMENT_CLASS(TvlFMTBcdValueType)
CL_IMPLEMENT_CLASS(TvlSQLTimeStampValueType)
CL_IMPLEMENT_CLASS(TvlVariantValueType)
CL_IMPLEMENT_CLASS(TvlObjectValueType)
CL_IMPLEMENT_CLASS(TvlValueTypeClassList)

namespace {

// Slots may sit anywhere in a record buffer: read and write them bytewise.
template <typename T>
T Load(const void* Buffer) {
  T Value;
  std::memcpy(&Value, Buffer, sizeof(T));
  return Value;
}

template <typename T>
void Store(void* Buffer, T Value) {
  std::memcpy(Buffer, &Value, sizeof(T));
}

template <typename T>
Integer Order(T A, T B) {
  return A < B ? -1 : (B < A ? 1 : 0);
}

Boolean IsConversionError(const Exception& E) {
  return dynamic_cast<const EVariantTypeCastError*>(&E) || dynamic_cast<const EVariantOverflowError*>(&E);
}

// The value converted to a standard type for a fixed-width slot; Null and
// Empty store the zero of the slot. The slots' StoreValue read a value of
// their own type directly (no converted copy: loads store many values).
Variant Converted(const Variant& Value, TVarType AVarType) {
  if (VarIsNull(Value) || VarIsEmpty(Value)) return VarAsType(Variant(0), AVarType);
  return VarAsType(Value, AVarType);
}

String* StringHolder(const void* Slot) { return Load<String*>(Slot); }
Variant* VariantHolder(const void* Slot) { return Load<Variant*>(Slot); }

TvlValueTypeClassList* gRegistry = nullptr;

const TvlValueTypeClass kRegistered[] = {
    ClassOf<TvlStringValueType>(),   ClassOf<TvlWideStringValueType>(), ClassOf<TvlSmallintValueType>(),
    ClassOf<TvlIntegerValueType>(),  ClassOf<TvlWordValueType>(),       ClassOf<TvlBooleanValueType>(),
    ClassOf<TvlFloatValueType>(),    ClassOf<TvlCurrencyValueType>(),   ClassOf<TvlDateTimeValueType>(),
    ClassOf<TvlLargeIntValueType>(), ClassOf<TvlFMTBcdValueType>(),     ClassOf<TvlSQLTimeStampValueType>(),
    ClassOf<TvlVariantValueType>(),  ClassOf<TvlObjectValueType>(),
};

void Startup() {
  for (const TvlValueTypeClass& C : kRegistered) vlGetValueTypeRegistry()->RegisterItem(C);
}

void Shutdown() {
  if (!gRegistry) return;
  for (size_t I = std::size(kRegistered); I-- > 0;) gRegistry->UnregisterItem(kRegistered[I]);
  FreeAndNil(gRegistry);
}

}  // namespace

CL_UNIT_STEPS(vlValueTypes, &Startup, &Shutdown);

// --- TvlValueType ----------------------------------------------------------------------

Integer TvlValueType::CompareData(const void* Buffer1, const void* Buffer2) const {
  return CompareValues(Buffer1, Buffer2);
}

void TvlValueType::ReleaseData(void* Buffer) const {}

void TvlValueType::ReleaseText(void* Buffer) const {
  delete StringHolder(Buffer);
  Store<String*>(Buffer, nullptr);
}

Integer TvlValueType::ValueSize() const { return 0; }

Variant TvlValueType::LoadValue(const void* Buffer) const { return Null(); }

String TvlValueType::DefaultText(const void* Buffer) const {
  try {
    return VarToStr(LoadValue(Buffer));
  } catch (const EVariantError& E) {
    if (!IsConversionError(E)) throw;
    return String();
  }
}

String TvlValueType::GetStoredText(const void* TextBuffer) const {
  String* Holder = StringHolder(TextBuffer);
  return Holder ? *Holder : String();
}

void TvlValueType::ReadValueFrom(void* Buffer, TvlReader* AReader) const {
  StoreValue(Buffer, AReader->ReadVariant());
}

void TvlValueType::ReadTextFrom(void* TextBuffer, TvlReader* AReader) const {
  StoreText(TextBuffer,
            AReader->IsUnicode() ? AReader->ReadWideString() : AnsiToString(AReader->ReadAnsiString()));
}

void TvlValueType::StoreValue(void* Buffer, const Variant& Value) const {}

void TvlValueType::StoreText(void* TextBuffer, const String& Text) const {
  String* Holder = StringHolder(TextBuffer);
  if (!Holder) {
    Store<String*>(TextBuffer, new String(Text));
  } else {
    *Holder = Text;
  }
}

void TvlValueType::WriteValueTo(const void* Buffer, TvlWriter* AWriter) const {
  AWriter->WriteVariant(LoadValue(Buffer));
}

void TvlValueType::WriteTextTo(const void* TextBuffer, TvlWriter* AWriter) const {
  if (AWriter->IsUnicode())
    AWriter->WriteWideString(GetStoredText(TextBuffer));
  else
    AWriter->WriteAnsiString(GetStoredText(TextBuffer));
}

String TvlValueType::Caption() const {
  String Result = ClassName();
  if (Result.starts_with(u"Tvl")) Result.erase(0, 3);
  if (Result.ends_with(u"ValueType")) Result.erase(Result.size() - 9);
  return Result;
}

Integer TvlValueType::CompareValues(const void* P1, const void* P2) const {
  return vlCompareVariants(LoadValue(P1), LoadValue(P2));
}

Variant TvlValueType::GetValue(const void* Buffer) const { return LoadValue(Buffer); }

TVarType TvlValueType::GetVarType() const { return varVariant; }

Boolean TvlValueType::IsValueValid(Variant& Value) const {
  if (VarIsNull(Value) || GetVarType() == varVariant) return true;
  try {
    Value = VarAsType(Value, GetVarType());
    return true;
  } catch (const EVariantError& E) {
    if (!IsConversionError(E)) throw;
    return false;
  }
}

Boolean TvlValueType::IsString() const { return false; }

void TvlValueType::PrepareValueBuffer(const void*& P) const {}

// --- String and WideString ---------------------------------------------------------

Integer TvlStringValueType::CompareData(const void* Buffer1, const void* Buffer2) const {
  return CompareValues(StringHolder(Buffer1), StringHolder(Buffer2));
}

void TvlStringValueType::ReleaseData(void* Buffer) const {
  delete StringHolder(Buffer);
  Store<String*>(Buffer, nullptr);
}

Integer TvlStringValueType::ValueSize() const { return sizeof(String*); }

Variant TvlStringValueType::LoadValue(const void* Buffer) const {
  String* Holder = StringHolder(Buffer);
  if (!Holder) return Null();
  return Variant(*Holder);
}

void TvlStringValueType::ReadValueFrom(void* Buffer, TvlReader* AReader) const {
  StoreValue(Buffer,
             AReader->IsUnicode() ? AReader->ReadWideString() : AnsiToString(AReader->ReadAnsiString()));
}

void TvlStringValueType::StoreValue(void* Buffer, const Variant& Value) const {
  if (VarIsNull(Value)) {
    ReleaseData(Buffer);
    return;
  }
  String Text = VarToStr(Value);
  String* Holder = StringHolder(Buffer);
  if (!Holder)
    Store<String*>(Buffer, new String(std::move(Text)));
  else
    *Holder = std::move(Text);
}

void TvlStringValueType::TakeValue(void* Buffer, Variant& Value) const {
  // A text variant's string becomes the slot's own: no copy.
  String* Taken = VarReleaseStr(Value);
  if (!Taken) {
    StoreValue(Buffer, Value);
    return;
  }
  if (String* Holder = StringHolder(Buffer)) {
    *Holder = std::move(*Taken);
    delete Taken;
  } else {
    Store<String*>(Buffer, Taken);
  }
}

void TvlStringValueType::WriteValueTo(const void* Buffer, TvlWriter* AWriter) const {
  String* Holder = StringHolder(Buffer);
  String Text = Holder ? *Holder : String();
  if (AWriter->IsUnicode())
    AWriter->WriteWideString(Text);
  else
    AWriter->WriteAnsiString(Text);
}

Integer TvlStringValueType::CompareValues(const void* P1, const void* P2) const {
  auto* S1 = static_cast<const String*>(P1);
  auto* S2 = static_cast<const String*>(P2);
  if (!S1 || !S2) return S1 ? 1 : (S2 ? -1 : 0);
  Integer R = S1->compare(*S2);
  return R < 0 ? -1 : (R > 0 ? 1 : 0);
}

TVarType TvlStringValueType::GetVarType() const { return varUString; }
Boolean TvlStringValueType::IsString() const { return true; }
void TvlStringValueType::PrepareValueBuffer(const void*& P) const { P = StringHolder(P); }

Variant TvlWideStringValueType::LoadValue(const void* Buffer) const {
  String* Holder = StringHolder(Buffer);
  if (!Holder) return Null();
  return VarAsType(Variant(*Holder), varOleStr);
}

void TvlWideStringValueType::ReadValueFrom(void* Buffer, TvlReader* AReader) const {
  StoreValue(Buffer, AReader->ReadWideString());
}

void TvlWideStringValueType::WriteValueTo(const void* Buffer, TvlWriter* AWriter) const {
  String* Holder = StringHolder(Buffer);
  AWriter->WriteWideString(Holder ? *Holder : String());
}

TVarType TvlWideStringValueType::GetVarType() const { return varOleStr; }

// --- Fixed-width types ---------------------------------------------------------

Integer TvlSmallintValueType::ValueSize() const { return sizeof(SmallInt); }
Variant TvlSmallintValueType::LoadValue(const void* Buffer) const { return Variant(Load<SmallInt>(Buffer)); }
void TvlSmallintValueType::ReadValueFrom(void* Buffer, TvlReader* AReader) const {
  Store<SmallInt>(Buffer, AReader->ReadSmallInt());
}
void TvlSmallintValueType::StoreValue(void* Buffer, const Variant& Value) const {
  Store<SmallInt>(Buffer, static_cast<SmallInt>(Converted(Value, varSmallint).AsInteger()));
}
void TvlSmallintValueType::WriteValueTo(const void* Buffer, TvlWriter* AWriter) const {
  AWriter->WriteSmallInt(Load<SmallInt>(Buffer));
}
Integer TvlSmallintValueType::CompareValues(const void* P1, const void* P2) const {
  return Load<SmallInt>(P1) - Load<SmallInt>(P2);
}
TVarType TvlSmallintValueType::GetVarType() const { return varSmallint; }

Integer TvlIntegerValueType::ValueSize() const { return sizeof(Integer); }
Variant TvlIntegerValueType::LoadValue(const void* Buffer) const { return Variant(Load<Integer>(Buffer)); }
void TvlIntegerValueType::ReadValueFrom(void* Buffer, TvlReader* AReader) const {
  Store<Integer>(Buffer, AReader->ReadInteger());
}
void TvlIntegerValueType::StoreValue(void* Buffer, const Variant& Value) const {
  Store<Integer>(Buffer, Value.VType() == varInteger ? Value.AsInteger() : Converted(Value, varInteger).AsInteger());
}
void TvlIntegerValueType::WriteValueTo(const void* Buffer, TvlWriter* AWriter) const {
  AWriter->WriteInteger(Load<Integer>(Buffer));
}
Integer TvlIntegerValueType::CompareValues(const void* P1, const void* P2) const {
  return Order(Load<Integer>(P1), Load<Integer>(P2));
}
TVarType TvlIntegerValueType::GetVarType() const { return varInteger; }

Integer TvlWordValueType::ValueSize() const { return sizeof(Word); }
Variant TvlWordValueType::LoadValue(const void* Buffer) const { return Variant(Load<Word>(Buffer)); }
void TvlWordValueType::ReadValueFrom(void* Buffer, TvlReader* AReader) const {
  Store<Word>(Buffer, AReader->ReadWord());
}
void TvlWordValueType::StoreValue(void* Buffer, const Variant& Value) const {
  Store<Word>(Buffer, static_cast<Word>(Converted(Value, varWord).AsInteger()));
}
void TvlWordValueType::WriteValueTo(const void* Buffer, TvlWriter* AWriter) const {
  AWriter->WriteWord(Load<Word>(Buffer));
}
Integer TvlWordValueType::CompareValues(const void* P1, const void* P2) const {
  return static_cast<Integer>(Load<Word>(P1)) - static_cast<Integer>(Load<Word>(P2));
}
TVarType TvlWordValueType::GetVarType() const { return varWord; }

Integer TvlBooleanValueType::ValueSize() const { return 1; }
Variant TvlBooleanValueType::LoadValue(const void* Buffer) const { return Variant(Load<Byte>(Buffer) != 0); }
String TvlBooleanValueType::DefaultText(const void* Buffer) const {
  return Load<Byte>(Buffer) != 0 ? u"True" : u"False";
}
void TvlBooleanValueType::ReadValueFrom(void* Buffer, TvlReader* AReader) const {
  Store<Byte>(Buffer, AReader->ReadBoolean() ? 1 : 0);
}
void TvlBooleanValueType::StoreValue(void* Buffer, const Variant& Value) const {
  Store<Byte>(Buffer, (Value.VType() == varBoolean ? Value.AsBoolean() : Converted(Value, varBoolean).AsBoolean()) ? 1 : 0);
}
void TvlBooleanValueType::WriteValueTo(const void* Buffer, TvlWriter* AWriter) const {
  AWriter->WriteBoolean(Load<Byte>(Buffer) != 0);
}
Integer TvlBooleanValueType::CompareValues(const void* P1, const void* P2) const {
  // As numbers, True = -1: True before False.
  return static_cast<Integer>(Load<Byte>(P2) != 0) - static_cast<Integer>(Load<Byte>(P1) != 0);
}
TVarType TvlBooleanValueType::GetVarType() const { return varBoolean; }

Integer TvlFloatValueType::ValueSize() const { return sizeof(Double); }
Variant TvlFloatValueType::LoadValue(const void* Buffer) const { return Variant(Load<Double>(Buffer)); }
void TvlFloatValueType::ReadValueFrom(void* Buffer, TvlReader* AReader) const {
  Store<Double>(Buffer, AReader->ReadFloat());
}
void TvlFloatValueType::StoreValue(void* Buffer, const Variant& Value) const {
  Store<Double>(Buffer, Value.VType() == varDouble ? Value.AsDouble() : Converted(Value, varDouble).AsDouble());
}
void TvlFloatValueType::WriteValueTo(const void* Buffer, TvlWriter* AWriter) const {
  AWriter->WriteFloat(Load<Double>(Buffer));
}
Integer TvlFloatValueType::CompareValues(const void* P1, const void* P2) const {
  return Order(Load<Double>(P1), Load<Double>(P2));
}
TVarType TvlFloatValueType::GetVarType() const { return varDouble; }

Integer TvlCurrencyValueType::ValueSize() const { return sizeof(Int64); }
Variant TvlCurrencyValueType::LoadValue(const void* Buffer) const {
  return Variant(Currency::FromRaw(Load<Int64>(Buffer)));
}
void TvlCurrencyValueType::ReadValueFrom(void* Buffer, TvlReader* AReader) const {
  Store<Int64>(Buffer, AReader->ReadCurrency().Raw());
}
void TvlCurrencyValueType::StoreValue(void* Buffer, const Variant& Value) const {
  Store<Int64>(Buffer, Converted(Value, varCurrency).AsCurrency().Raw());
}
void TvlCurrencyValueType::WriteValueTo(const void* Buffer, TvlWriter* AWriter) const {
  AWriter->WriteCurrency(Currency::FromRaw(Load<Int64>(Buffer)));
}
Integer TvlCurrencyValueType::CompareValues(const void* P1, const void* P2) const {
  return Order(Load<Int64>(P1), Load<Int64>(P2));
}
TVarType TvlCurrencyValueType::GetVarType() const { return varCurrency; }

Integer TvlDateTimeValueType::ValueSize() const { return sizeof(Double); }
Variant TvlDateTimeValueType::LoadValue(const void* Buffer) const {
  return VarFromDateTime(Load<Double>(Buffer));
}
String TvlDateTimeValueType::DefaultText(const void* Buffer) const {
  try {
    return VarToStr(LoadValue(Buffer));
  } catch (const EVariantError& E) {
    if (!IsConversionError(E)) throw;
    return DateTimeToStr(Load<Double>(Buffer));
  }
}
void TvlDateTimeValueType::ReadValueFrom(void* Buffer, TvlReader* AReader) const {
  Store<Double>(Buffer, AReader->ReadDateTime());
}
void TvlDateTimeValueType::StoreValue(void* Buffer, const Variant& Value) const {
  Store<Double>(Buffer, Value.VType() == varDate ? Value.AsDateTime() : Converted(Value, varDate).AsDateTime());
}
void TvlDateTimeValueType::WriteValueTo(const void* Buffer, TvlWriter* AWriter) const {
  AWriter->WriteDateTime(Load<Double>(Buffer));
}
Integer TvlDateTimeValueType::CompareValues(const void* P1, const void* P2) const {
  return Order(Load<Double>(P1), Load<Double>(P2));
}
TVarType TvlDateTimeValueType::GetVarType() const { return varDate; }

Integer TvlLargeIntValueType::ValueSize() const { return sizeof(Int64); }
Variant TvlLargeIntValueType::LoadValue(const void* Buffer) const { return Variant(Load<Int64>(Buffer)); }
void TvlLargeIntValueType::ReadValueFrom(void* Buffer, TvlReader* AReader) const {
  Store<Int64>(Buffer, AReader->ReadLargeInt());
}
void TvlLargeIntValueType::StoreValue(void* Buffer, const Variant& Value) const {
  Store<Int64>(Buffer, Value.VType() == varInt64 ? Value.AsInt64() : Converted(Value, varInt64).AsInt64());
}
void TvlLargeIntValueType::WriteValueTo(const void* Buffer, TvlWriter* AWriter) const {
  AWriter->WriteLargeInt(Load<Int64>(Buffer));
}
Integer TvlLargeIntValueType::CompareValues(const void* P1, const void* P2) const {
  return Order(Load<Int64>(P1), Load<Int64>(P2));
}
TVarType TvlLargeIntValueType::GetVarType() const { return varInt64; }

// --- FMTBcd and SQL time stamp ----------------------------------------------------------

Integer TvlFMTBcdValueType::ValueSize() const { return sizeof(TBcd); }
Variant TvlFMTBcdValueType::LoadValue(const void* Buffer) const {
  return VarFMTBcdCreate(Load<TBcd>(Buffer));
}
String TvlFMTBcdValueType::DefaultText(const void* Buffer) const { return BcdToStr(Load<TBcd>(Buffer)); }
void TvlFMTBcdValueType::StoreValue(void* Buffer, const Variant& Value) const {
  Store<TBcd>(Buffer, VarIsNull(Value) || VarIsEmpty(Value) ? IntegerToBcd(0) : VarToBcd(Value));
}
Integer TvlFMTBcdValueType::CompareValues(const void* P1, const void* P2) const {
  return BcdCompare(Load<TBcd>(P1), Load<TBcd>(P2));
}
TVarType TvlFMTBcdValueType::GetVarType() const { return VarFMTBcd(); }

Integer TvlSQLTimeStampValueType::ValueSize() const { return sizeof(TSQLTimeStamp); }
Variant TvlSQLTimeStampValueType::LoadValue(const void* Buffer) const {
  return VarSQLTimeStampCreate(Load<TSQLTimeStamp>(Buffer));
}
void TvlSQLTimeStampValueType::StoreValue(void* Buffer, const Variant& Value) const {
  Store<TSQLTimeStamp>(Buffer,
                       VarIsNull(Value) || VarIsEmpty(Value) ? NullSQLTimeStamp : VarToSQLTimeStamp(Value));
}
Integer TvlSQLTimeStampValueType::CompareValues(const void* P1, const void* P2) const {
  const auto A = Load<TSQLTimeStamp>(P1), B = Load<TSQLTimeStamp>(P2);
  if (A.Year != B.Year) return A.Year - B.Year;
  if (A.Month != B.Month) return A.Month - B.Month;
  if (A.Day != B.Day) return A.Day - B.Day;
  if (A.Hour != B.Hour) return A.Hour - B.Hour;
  if (A.Minute != B.Minute) return A.Minute - B.Minute;
  if (A.Second != B.Second) return A.Second - B.Second;
  // Fractions are unsigned 32-bit: the difference may not fit an Integer.
  const Int64 D = static_cast<Int64>(A.Fractions) - B.Fractions;
  return D > INT32_MAX ? INT32_MAX : (D < INT32_MIN ? INT32_MIN : static_cast<Integer>(D));
}
TVarType TvlSQLTimeStampValueType::GetVarType() const { return VarSQLTimeStamp(); }

// --- Variant ------------------------------------------------------------------------

Integer TvlVariantValueType::CompareData(const void* Buffer1, const void* Buffer2) const {
  return CompareValues(VariantHolder(Buffer1), VariantHolder(Buffer2));
}

void TvlVariantValueType::ReleaseData(void* Buffer) const {
  delete VariantHolder(Buffer);
  Store<Variant*>(Buffer, nullptr);
}

Integer TvlVariantValueType::ValueSize() const { return sizeof(Variant*); }

Variant TvlVariantValueType::LoadValue(const void* Buffer) const {
  Variant* Holder = VariantHolder(Buffer);
  return Holder ? *Holder : Null();
}

void TvlVariantValueType::StoreValue(void* Buffer, const Variant& Value) const {
  Variant* Holder = VariantHolder(Buffer);
  if (!Holder)
    Store<Variant*>(Buffer, new Variant(Value));
  else
    *Holder = Value;
}

Integer TvlVariantValueType::CompareValues(const void* P1, const void* P2) const {
  auto* V1 = static_cast<const Variant*>(P1);
  auto* V2 = static_cast<const Variant*>(P2);
  if (!V1 || !V2) return V1 ? 1 : (V2 ? -1 : 0);
  return vlCompareVariants(*V1, *V2);
}

void TvlVariantValueType::PrepareValueBuffer(const void*& P) const { P = VariantHolder(P); }

// --- Object ----------------------------------------------------------------------------

void TvlObjectValueType::ReleaseData(void* Buffer) const {
  TObject* Obj = Load<TObject*>(Buffer);
  Free(Obj);
  Store<TObject*>(Buffer, nullptr);
}

Integer TvlObjectValueType::ValueSize() const { return sizeof(TObject*); }

Variant TvlObjectValueType::LoadValue(const void* Buffer) const {
  return Variant(static_cast<Int64>(reinterpret_cast<intptr_t>(Load<TObject*>(Buffer))));
}

void TvlObjectValueType::ReadValueFrom(void* Buffer, TvlReader* AReader) const {}

void TvlObjectValueType::StoreValue(void* Buffer, const Variant& Value) const {
  Store<TObject*>(Buffer,
                  reinterpret_cast<TObject*>(static_cast<intptr_t>(Converted(Value, varInt64).AsInt64())));
}

void TvlObjectValueType::WriteValueTo(const void* Buffer, TvlWriter* AWriter) const {}

Integer TvlObjectValueType::CompareValues(const void* P1, const void* P2) const {
  return Order(reinterpret_cast<intptr_t>(Load<TObject*>(P1)),
               reinterpret_cast<intptr_t>(Load<TObject*>(P2)));
}

TVarType TvlObjectValueType::GetVarType() const { return varInt64; }

// --- Registry ---------------------------------------------------------------------------

void TvlValueTypeClassList::Create() {
  inherited::Create();
  FItems = New<TList>();
}

void TvlValueTypeClassList::Destroy() {
  FreeAndNil(FItems);
  inherited::Destroy();
}

void TvlValueTypeClassList::RegisterItem(TvlValueTypeClass AValueTypeClass) {
  Pointer P = const_cast<TMetaClass*>(AValueTypeClass.Class());
  if (FItems->IndexOf(P) < 0) FItems->Add(P);
}

void TvlValueTypeClassList::UnregisterItem(TvlValueTypeClass AValueTypeClass) {
  FItems->Remove(const_cast<TMetaClass*>(AValueTypeClass.Class()));
}

TvlValueTypeClass TvlValueTypeClassList::ItemByCaption(const String& ACaption) const {
  for (Integer I = 0; I < Count(); ++I)
    if (Items(I)->Caption() == ACaption) return Items(I);
  return nullptr;
}

Integer TvlValueTypeClassList::Count() const { return FItems->Count(); }

TvlValueTypeClass TvlValueTypeClassList::Items(Integer Index) const {
  return TvlValueTypeClass(static_cast<TClass>(FItems->Items(Index)));
}

TvlValueTypeClassList* vlGetValueTypeRegistry() {
  if (!gRegistry) gRegistry = New<TvlValueTypeClassList>();
  return gRegistry;
}

Boolean vlIsDateValueTypeClass(TvlValueTypeClass AValueTypeClass) {
  return AValueTypeClass.Class() == TvlDateTimeValueType::StaticClass() ||
         AValueTypeClass.Class() == TvlSQLTimeStampValueType::StaticClass();
}
