#include "platform/classes/TypInfo.h"

#include <algorithm>
#include <deque>
#include <map>
#include <memory>
#include <mutex>

#include "platform/classes/Interfaces.h"
#include "platform/classes/TypInfoBuild.h"
#include "platform/rtl/CodePages.h"
#include "platform/rtl/Conversions.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Strings.h"
#include "platform/rtl/Variants.h"

namespace {

// Every type information object made at run time lives here, for the whole run.
struct TTypeStore {
  std::mutex Lock;
  std::deque<TTypeInfo> Infos;
  std::map<TClass, const TTypeInfo*> Classes;
  std::map<std::pair<String, const TGUID*>, const TTypeInfo*> Interfaces;
  std::map<const TTypeInfo*, std::pair<TIdentToInt, TIntToIdent>> IdentMaps;
};
TTypeStore& Store() {
  static TTypeStore* store = new TTypeStore;  // never destroyed: used until the process ends
  return *store;
}
const TTypeInfo* Keep(TTypeInfo&& Info) {
  TTypeStore& s = Store();
  std::lock_guard<std::mutex> g(s.Lock);
  s.Infos.push_back(std::move(Info));
  return &s.Infos.back();
}

const TTypeInfo* Ordinal(TTypeKind Kind, const char16_t* Name, TOrdType Ord, Int64 Min, Int64 Max) {
  return MakeOrdinalTypeInfo(Kind, Name, Ord, Min, Max);
}

// --- Merged class data ---------------------------------------------------------------

struct TClassTypeData {
  TPropList Props;
  std::vector<const TPublishedField*> Fields;
  std::vector<const TPublishedMethod*> Methods;
};

const TClassTypeData& TypeData(TClass AClass) {
  if (const void* p = AClass->FTypeData.load(std::memory_order_acquire))
    return *static_cast<const TClassTypeData*>(p);
  auto data = std::make_unique<TClassTypeData>();
  if (AClass->Parent) *data = TypeData(AClass->Parent);
  if (AClass->PublishedTable) {
    const TPublishedTable* t = AClass->PublishedTable();
    for (const TPropInfo& p : t->Props) {
      // A property published again replaces the inherited one in its place.
      auto it = std::find_if(data->Props.begin(), data->Props.end(),
                             [&](const TPropInfo* q) { return SameText(q->Name, p.Name); });
      if (it != data->Props.end())
        *it = &p;
      else
        data->Props.push_back(&p);
    }
    for (const TPublishedField& f : t->Fields) data->Fields.push_back(&f);
    for (const TPublishedMethod& m : t->Methods) data->Methods.push_back(&m);
  }
  const void* expected = nullptr;
  if (AClass->FTypeData.compare_exchange_strong(expected, data.get(), std::memory_order_acq_rel))
    return *data.release();  // kept by the metaclass for the whole run
  return *static_cast<const TClassTypeData*>(expected);
}

// --- Errors --------------------------------------------------------------------------

[[noreturn]] void RaiseUnknownProperty(const String& Name) {
  throw EPropertyError(u"Property " + Name + u" does not exist");
}
[[noreturn]] void RaiseInvalidType(const TPropInfo* P) {
  throw EPropertyError(u"Invalid property type: " + (P->PropType ? P->PropType->Name : String(u"?")));
}
[[noreturn]] void RaiseInvalidValue() { throw EPropertyConvertError(u"Invalid property value"); }
[[noreturn]] void RaiseInvalidElement(const String& Name) {
  throw EPropertyConvertError(u"Invalid property element: " + Name);
}

using typinfo_build::TCellClass;

TCellClass CellOf(const TPropInfo* P) { return typinfo_build::CellClassOf(P->PropType); }

const TPropInfo* Checked(TObject* Instance, const TPropInfo* P, TCellClass Cell) {
  if (!P) throw EPropertyError(u"Property does not exist");
  if (!Instance || !Instance->InheritsFrom(P->Owner)) RaiseUnknownProperty(P->Name);
  if (CellOf(P) != Cell) RaiseInvalidType(P);
  return P;
}

template <class T>
T Read(TObject* Instance, const TPropInfo* P, TCellClass Cell) {
  Checked(Instance, P, Cell);
  if (!P->Getter) throw EPropertyError(u"Property " + P->Name + u" is write-only");
  T value{};
  P->Getter.Thunk(P->Getter, *P, Instance, &value);
  return value;
}

template <class T>
void Write(TObject* Instance, const TPropInfo* P, TCellClass Cell, const T& Value) {
  Checked(Instance, P, Cell);
  if (!P->Setter) throw EPropertyError(u"Property " + P->Name + u" is read-only");
  P->Setter.Thunk(P->Setter, *P, Instance, const_cast<T*>(&Value));
}

const TPropInfo* Find(const TObject* Instance, const String& Name) {
  const TPropInfo* p = Instance ? GetPropInfo(Instance, Name) : nullptr;
  if (!p) RaiseUnknownProperty(Name);
  return p;
}
const TPropInfo* Find(TClass AClass, const String& Name) {
  const TPropInfo* p = AClass ? GetPropInfo(AClass, Name) : nullptr;
  if (!p) RaiseUnknownProperty(Name);
  return p;
}

// Raises ERangeError when Value lies outside the ordinal range of the property's type.
Int64 Ranged(const TPropInfo* P, Int64 Value) {
  const TTypeInfo* t = P->PropType;
  if (t->Kind != tkSet && t->MinValue <= t->MaxValue && (Value < t->MinValue || Value > t->MaxValue))
    throw ERangeError(u"Range check error");
  return Value;
}

bool IsDateType(const TTypeInfo* T) {
  return T == TypeInfoTDateTime() || T == TypeInfoTDate() || T == TypeInfoTTime();
}

}  // namespace

// --- Cells ---------------------------------------------------------------------------

namespace typinfo_build {

String AnsiCellToString(const AnsiString& Value) { return AnsiToString(Value); }
AnsiString StringCellToAnsi(const String& Value) { return StringToAnsi(Value); }

void RaiseTypeMismatch(const String& PropName) {
  throw EPropertyError(u"Type of property " + PropName + u" does not fit its accessors");
}

TCellClass CellClassOf(const TTypeInfo* Info) {
  switch (Info ? Info->Kind : tkUnknown) {
    case tkInteger:
    case tkChar:
    case tkWChar:
    case tkEnumeration:
    case tkSet:
    case tkInt64:
      return ccOrd;
    case tkFloat:
      return Info->FloatType == ftCurr ? ccCurrency : ccFloat;
    case tkString:
    case tkLString:
    case tkWString:
    case tkUString:
      return ccString;
    case tkClass:
      return ccObject;
    case tkMethod:
      return ccMethod;
    case tkVariant:
      return ccVariant;
    case tkInterface:
      return ccInterface;
    default:
      return ccNone;
  }
}

TPropBuilder& TPropBuilder::Type(const TTypeInfo* Info) {
  TPropInfo& p = Prop();
  if (!Info || !p.PropType || CellClassOf(Info) != CellClassOf(p.PropType)) RaiseTypeMismatch(p.Name);
  p.PropType = Info;
  return *this;
}

}  // namespace typinfo_build

// --- Type information of types ---------------------------------------------------------

const TTypeInfo* MakeEnumTypeInfo(const char16_t* Name, const char* ValueNames) {
  TTypeInfo t;
  t.Kind = tkEnumeration;
  t.Name = Name;
  t.OrdType = otUByte;
  String names = UTF8ToUTF16(ValueNames ? ValueNames : "");
  size_t start = 0;
  while (start <= names.size()) {
    size_t comma = names.find(u',', start);
    if (comma == String::npos) comma = names.size();
    String one = Trim(names.substr(start, comma - start));
    // "a = 1" cannot carry type information: enumerations with it run from 0 without gaps.
    if (!one.empty()) t.EnumNames.push_back(one);
    start = comma + 1;
  }
  t.MinValue = 0;
  t.MaxValue = static_cast<Int64>(t.EnumNames.size()) - 1;
  if (t.EnumNames.size() > 256) t.OrdType = otUWord;
  return Keep(std::move(t));
}

const TTypeInfo* MakeOrdinalTypeInfo(TTypeKind Kind, const char16_t* Name, TOrdType OrdType, Int64 Min, Int64 Max) {
  TTypeInfo t;
  t.Kind = Kind;
  t.Name = Name;
  t.OrdType = OrdType;
  t.MinValue = Min;
  t.MaxValue = Max;
  return Keep(std::move(t));
}

const TTypeInfo* MakeFloatTypeInfo(const char16_t* Name, TFloatType FloatType) {
  TTypeInfo t;
  t.Kind = tkFloat;
  t.Name = Name;
  t.FloatType = FloatType;
  return Keep(std::move(t));
}

const TTypeInfo* MakeSetTypeInfo(const char16_t* Name, const TTypeInfo* ElemType, Integer SetSize) {
  TTypeInfo t;
  t.Kind = tkSet;
  t.Name = Name;
  t.CompType = ElemType;
  t.SetSize = SetSize;
  t.OrdType = SetSize <= 1 ? otUByte : SetSize <= 2 ? otUWord : otULong;
  return Keep(std::move(t));
}

const TTypeInfo* MakeMethodTypeInfo(const char16_t* Name, const void* Signature) {
  TTypeInfo t;
  t.Kind = tkMethod;
  t.Name = Name;
  t.MethodSignature = Signature;
  return Keep(std::move(t));
}

const TTypeInfo* MakeInterfaceTypeInfo(const char16_t* Name, const TGUID* Guid) {
  TTypeStore& s = Store();
  std::pair<String, const TGUID*> key{Name, Guid};
  {
    std::lock_guard<std::mutex> g(s.Lock);
    auto it = s.Interfaces.find(key);
    if (it != s.Interfaces.end()) return it->second;
  }
  TTypeInfo t;
  t.Kind = tkInterface;
  t.Name = Name;
  t.Guid = Guid;
  const TTypeInfo* info = Keep(std::move(t));
  std::lock_guard<std::mutex> g(s.Lock);
  return s.Interfaces.emplace(key, info).first->second;
}

const TTypeInfo* ClassTypeInfo(TClass AClass) {
  TTypeStore& s = Store();
  {
    std::lock_guard<std::mutex> g(s.Lock);
    auto it = s.Classes.find(AClass);
    if (it != s.Classes.end()) return it->second;
  }
  TTypeInfo t;
  t.Kind = tkClass;
  t.Name = AClass->ClassName();
  t.ClassType = AClass;
  const TTypeInfo* info = Keep(std::move(t));
  std::lock_guard<std::mutex> g(s.Lock);
  return s.Classes.emplace(AClass, info).first->second;
}

#define CL_BUILTIN_TYPEINFO(CType, Expr)           \
  const TTypeInfo* TypeInfoOf(const CType*) {      \
    static const TTypeInfo* const info = Expr;     \
    return info;                                   \
  }

CL_BUILTIN_TYPEINFO(Integer, Ordinal(tkInteger, u"Integer", otSLong, INT32_MIN, INT32_MAX))
CL_BUILTIN_TYPEINFO(Cardinal, Ordinal(tkInteger, u"Cardinal", otULong, 0, UINT32_MAX))
CL_BUILTIN_TYPEINFO(ShortInt, Ordinal(tkInteger, u"ShortInt", otSByte, INT8_MIN, INT8_MAX))
CL_BUILTIN_TYPEINFO(SmallInt, Ordinal(tkInteger, u"SmallInt", otSWord, INT16_MIN, INT16_MAX))
CL_BUILTIN_TYPEINFO(Byte, Ordinal(tkInteger, u"Byte", otUByte, 0, UINT8_MAX))
CL_BUILTIN_TYPEINFO(Word, Ordinal(tkInteger, u"Word", otUWord, 0, UINT16_MAX))
CL_BUILTIN_TYPEINFO(Int64, Ordinal(tkInt64, u"Int64", otSLong, INT64_MIN, INT64_MAX))
CL_BUILTIN_TYPEINFO(UInt64, Ordinal(tkInt64, u"UInt64", otULong, 0, INT64_MAX))
CL_BUILTIN_TYPEINFO(bool, MakeEnumTypeInfo(u"Boolean", "False, True"))
CL_BUILTIN_TYPEINFO(char, Ordinal(tkChar, u"AnsiChar", otUByte, 0, 255))
CL_BUILTIN_TYPEINFO(char16_t, Ordinal(tkWChar, u"Char", otUWord, 0, 65535))
CL_BUILTIN_TYPEINFO(float, MakeFloatTypeInfo(u"Single", ftSingle))
CL_BUILTIN_TYPEINFO(double, MakeFloatTypeInfo(u"Double", ftDouble))
CL_BUILTIN_TYPEINFO(String, Ordinal(tkUString, u"string", otSLong, 0, 0))
CL_BUILTIN_TYPEINFO(AnsiString, Ordinal(tkLString, u"AnsiString", otSLong, 0, 0))
CL_BUILTIN_TYPEINFO(TNotifyEvent, MakeMethodTypeInfo(u"TNotifyEvent", TNotifyEvent::SignatureId()))

const TTypeInfo* TypeInfoTDateTime() {
  static const TTypeInfo* const info = MakeFloatTypeInfo(u"TDateTime", ftDouble);
  return info;
}
const TTypeInfo* TypeInfoTDate() {
  static const TTypeInfo* const info = MakeFloatTypeInfo(u"TDate", ftDouble);
  return info;
}
const TTypeInfo* TypeInfoTTime() {
  static const TTypeInfo* const info = MakeFloatTypeInfo(u"TTime", ftDouble);
  return info;
}
const TTypeInfo* TypeInfoCurrency() {
  static const TTypeInfo* const info = MakeFloatTypeInfo(u"Currency", ftCurr);
  return info;
}
const TTypeInfo* TypeInfoWideString() {
  static const TTypeInfo* const info = Ordinal(tkWString, u"WideString", otSLong, 0, 0);
  return info;
}
const TTypeInfo* TypeInfoVariant() {
  static const TTypeInfo* const info = Ordinal(tkVariant, u"Variant", otSLong, 0, 0);
  return info;
}

// --- Enumerations and sets ------------------------------------------------------------

String GetEnumName(const TTypeInfo* TypeInfo, Integer Value) {
  if (!TypeInfo) return String();
  if (TypeInfo->Kind == tkInteger) return IntToStr(Value);
  if (TypeInfo->Kind != tkEnumeration) return String();
  if (Value < TypeInfo->MinValue || Value > TypeInfo->MaxValue) return String();
  size_t i = static_cast<size_t>(static_cast<Int64>(Value) - TypeInfo->MinValue);
  return i < TypeInfo->EnumNames.size() ? TypeInfo->EnumNames[i] : String();
}

Integer GetEnumValue(const TTypeInfo* TypeInfo, const String& Name) {
  if (!TypeInfo) return -1;
  if (TypeInfo->Kind == tkInteger) return StrToInt(Name);
  if (TypeInfo->Kind != tkEnumeration) return -1;
  for (size_t i = 0; i < TypeInfo->EnumNames.size(); ++i)
    if (SameText(TypeInfo->EnumNames[i], Name)) return static_cast<Integer>(TypeInfo->MinValue + static_cast<Int64>(i));
  return -1;
}

namespace sets_detail {

void RaiseSetRange(long long Ordinal, size_t Bits) {
  throw ERangeError(u"Set element " + IntToStr(static_cast<Int64>(Ordinal)) + u" out of range 0.." +
                    IntToStr(static_cast<Int64>(Bits) - 1));
}

String SetBitsToText(const TTypeInfo* ElemType, const Byte* Bits, size_t Size, bool Brackets) {
  String s;
  for (size_t n = 0; n < Size * 8; ++n) {
    if (!((Bits[n / 8] >> (n % 8)) & 1u)) continue;
    if (!s.empty()) s += u',';
    String name = GetEnumName(ElemType, static_cast<Integer>(n));
    s += name.empty() ? IntToStr(static_cast<Integer>(n)) : name;
  }
  return Brackets ? u"[" + s + u"]" : s;
}

void TextToSetBits(const TTypeInfo* ElemType, const String& Text, Byte* Bits, size_t Size) {
  for (size_t i = 0; i < Size; ++i) Bits[i] = 0;
  String t = Trim(Text);
  if (!t.empty() && t.front() == u'[') t.erase(0, 1);
  if (!t.empty() && t.back() == u']') t.pop_back();
  size_t start = 0;
  while (start <= t.size()) {
    size_t comma = t.find(u',', start);
    if (comma == String::npos) comma = t.size();
    String name = Trim(t.substr(start, comma - start));
    start = comma + 1;
    if (name.empty()) continue;
    Integer v = -1;
    if (ElemType && ElemType->Kind == tkEnumeration) v = GetEnumValue(ElemType, name);
    if (v < 0 || static_cast<size_t>(v) >= Size * 8) RaiseInvalidElement(name);
    Bits[v / 8] = Byte(Bits[v / 8] | (1u << (v % 8)));
  }
}

}  // namespace sets_detail

namespace {
size_t SetBytes(const TTypeInfo* SetType) {
  Integer n = SetType && SetType->SetSize > 0 ? SetType->SetSize : 4;
  return static_cast<size_t>(std::min<Integer>(n, 8));
}
}  // namespace

String SetToString(const TTypeInfo* SetType, Int64 Value, bool Brackets) {
  Byte bits[8];
  auto u = static_cast<UInt64>(Value);
  for (size_t i = 0; i < 8; ++i) bits[i] = Byte(u >> (8 * i));
  return sets_detail::SetBitsToText(SetType ? SetType->CompType : nullptr, bits, SetBytes(SetType), Brackets);
}
String SetToString(const TPropInfo* PropInfo, Int64 Value, bool Brackets) {
  return SetToString(PropInfo ? PropInfo->PropType : nullptr, Value, Brackets);
}

Int64 StringToSet(const TTypeInfo* SetType, const String& Value) {
  Byte bits[8] = {};
  size_t n = SetBytes(SetType);
  sets_detail::TextToSetBits(SetType ? SetType->CompType : nullptr, Value, bits, n);
  UInt64 u = 0;
  for (size_t i = 0; i < n; ++i) u |= UInt64(bits[i]) << (8 * i);
  return static_cast<Int64>(u);
}
Int64 StringToSet(const TPropInfo* PropInfo, const String& Value) {
  return StringToSet(PropInfo ? PropInfo->PropType : nullptr, Value);
}

// --- Identifier maps --------------------------------------------------------------------

void RegisterIntegerConsts(const TTypeInfo* IntegerType, TIdentToInt IdentToIntFn, TIntToIdent IntToIdentFn) {
  TTypeStore& s = Store();
  std::lock_guard<std::mutex> g(s.Lock);
  s.IdentMaps[IntegerType] = {IdentToIntFn, IntToIdentFn};
}

TIdentToInt FindIdentToInt(const TTypeInfo* IntegerType) {
  TTypeStore& s = Store();
  std::lock_guard<std::mutex> g(s.Lock);
  auto it = s.IdentMaps.find(IntegerType);
  return it == s.IdentMaps.end() ? nullptr : it->second.first;
}

TIntToIdent FindIntToIdent(const TTypeInfo* IntegerType) {
  TTypeStore& s = Store();
  std::lock_guard<std::mutex> g(s.Lock);
  auto it = s.IdentMaps.find(IntegerType);
  return it == s.IdentMaps.end() ? nullptr : it->second.second;
}

bool IdentToInt(const String& Ident, Integer& Int, const TIdentMapEntry* Map, size_t Count) {
  for (size_t i = 0; i < Count; ++i)
    if (SameText(Map[i].Name, Ident)) {
      Int = Map[i].Value;
      return true;
    }
  return false;
}

bool IntToIdent(Integer Int, String& Ident, const TIdentMapEntry* Map, size_t Count) {
  for (size_t i = 0; i < Count; ++i)
    if (Map[i].Value == Int) {
      Ident = Map[i].Name;
      return true;
    }
  return false;
}

// --- Property lists and lookups -----------------------------------------------------------

const TPropInfo* GetPropInfo(TClass AClass, const String& PropName, TTypeKinds AKinds) {
  if (!AClass) return nullptr;
  for (const TPropInfo* p : TypeData(AClass).Props)
    if (SameText(p->Name, PropName)) {
      if (!AKinds.Empty() && !(p->PropType && AKinds.Contains(p->PropType->Kind))) return nullptr;
      return p;
    }
  return nullptr;
}

const TPropInfo* GetPropInfo(const TObject* Instance, const String& PropName, TTypeKinds AKinds) {
  return Instance ? GetPropInfo(Instance->ClassType(), PropName, AKinds) : nullptr;
}

TPropList GetPropInfos(TClass AClass) { return AClass ? TypeData(AClass).Props : TPropList(); }

TPropList GetPropList(const TObject* Instance) {
  return Instance ? GetPropInfos(Instance->ClassType()) : TPropList();
}

TPropList GetPropList(TClass AClass, TTypeKinds Kinds, bool SortList) {
  TPropList list;
  if (!AClass) return list;
  for (const TPropInfo* p : TypeData(AClass).Props)
    if (p->PropType && Kinds.Contains(p->PropType->Kind)) list.push_back(p);
  if (SortList) SortPropList(list);
  return list;
}

void SortPropList(TPropList& List) {
  std::stable_sort(List.begin(), List.end(),
                   [](const TPropInfo* A, const TPropInfo* B) { return CompareText(A->Name, B->Name) < 0; });
}

bool IsPublishedProp(TClass AClass, const String& PropName) { return GetPropInfo(AClass, PropName) != nullptr; }
bool IsPublishedProp(const TObject* Instance, const String& PropName) {
  return GetPropInfo(Instance, PropName) != nullptr;
}

bool PropIsType(TClass AClass, const String& PropName, TTypeKind TypeKind) {
  return PropType(AClass, PropName) == TypeKind;
}
bool PropIsType(const TObject* Instance, const String& PropName, TTypeKind TypeKind) {
  return PropType(Instance, PropName) == TypeKind;
}
TTypeKind PropType(TClass AClass, const String& PropName) {
  const TPropInfo* p = Find(AClass, PropName);
  return p->PropType ? p->PropType->Kind : tkUnknown;
}
TTypeKind PropType(const TObject* Instance, const String& PropName) {
  const TPropInfo* p = Find(Instance, PropName);
  return p->PropType ? p->PropType->Kind : tkUnknown;
}

bool IsStoredProp(TObject* Instance, const TPropInfo* PropInfo) {
  if (!PropInfo) return false;
  if (!PropInfo->StoredProc) return PropInfo->StoredConst;
  if (!Instance || !Instance->InheritsFrom(PropInfo->Owner)) RaiseUnknownProperty(PropInfo->Name);
  bool stored = false;
  PropInfo->StoredProc.Thunk(PropInfo->StoredProc, *PropInfo, Instance, &stored);
  return stored;
}
bool IsStoredProp(TObject* Instance, const String& PropName) { return IsStoredProp(Instance, Find(Instance, PropName)); }

bool IsDefaultPropertyValue(TObject* Instance, const TPropInfo* PropInfo) {
  if (!PropInfo || !PropInfo->PropType || !PropInfo->Getter) return true;
  switch (PropInfo->PropType->Kind) {
    case tkInteger:
    case tkChar:
    case tkWChar:
    case tkEnumeration:
    case tkSet:
      return PropInfo->HasDefault && GetOrdProp(Instance, PropInfo) == PropInfo->Default;
    case tkInt64:
      return GetInt64Prop(Instance, PropInfo) == (PropInfo->HasDefault ? PropInfo->Default : 0);
    case tkFloat:
      if (IsCurrencyProp(PropInfo)) return GetCurrencyProp(Instance, PropInfo) == Currency();
      return GetFloatProp(Instance, PropInfo) == 0.0;
    case tkString:
    case tkLString:
    case tkWString:
    case tkUString:
      return GetStrProp(Instance, PropInfo).empty();
    case tkClass:
      return GetObjectProp(Instance, PropInfo) == nullptr;
    case tkMethod:
      return !Assigned(GetMethodProp(Instance, PropInfo));
    case tkVariant:
      return VarIsClear(GetVariantProp(Instance, PropInfo));
    case tkInterface:
      return GetInterfaceProp(Instance, PropInfo) == nullptr;
    default:
      return true;
  }
}

// --- Get and set by property ------------------------------------------------------------

using namespace typinfo_build;

Int64 GetOrdProp(TObject* Instance, const TPropInfo* PropInfo) { return Read<Int64>(Instance, PropInfo, ccOrd); }
void SetOrdProp(TObject* Instance, const TPropInfo* PropInfo, Int64 Value) {
  Write(Instance, PropInfo, ccOrd, Value);
}

String GetEnumProp(TObject* Instance, const TPropInfo* PropInfo) {
  Int64 v = GetOrdProp(Instance, PropInfo);
  return GetEnumName(PropInfo->PropType, static_cast<Integer>(v));
}
void SetEnumProp(TObject* Instance, const TPropInfo* PropInfo, const String& Value) {
  Checked(Instance, PropInfo, ccOrd);
  Integer v = -1;
  if (PropInfo->PropType->Kind == tkInteger) {
    if (!TryStrToInt(Value, v)) RaiseInvalidElement(Value);
  } else {
    v = GetEnumValue(PropInfo->PropType, Value);
    if (v < 0) RaiseInvalidElement(Value);
  }
  SetOrdProp(Instance, PropInfo, v);
}

String GetSetProp(TObject* Instance, const TPropInfo* PropInfo, bool Brackets) {
  Checked(Instance, PropInfo, ccOrd);
  if (PropInfo->PropType->Kind != tkSet) RaiseInvalidType(PropInfo);
  return SetToString(PropInfo, GetOrdProp(Instance, PropInfo), Brackets);
}
void SetSetProp(TObject* Instance, const TPropInfo* PropInfo, const String& Value) {
  Checked(Instance, PropInfo, ccOrd);
  if (PropInfo->PropType->Kind != tkSet) RaiseInvalidType(PropInfo);
  SetOrdProp(Instance, PropInfo, StringToSet(PropInfo, Value));
}

String GetStrProp(TObject* Instance, const TPropInfo* PropInfo) { return Read<String>(Instance, PropInfo, ccString); }
void SetStrProp(TObject* Instance, const TPropInfo* PropInfo, const String& Value) {
  Write(Instance, PropInfo, ccString, Value);
}
WideString GetWideStrProp(TObject* Instance, const TPropInfo* PropInfo) { return GetStrProp(Instance, PropInfo); }
void SetWideStrProp(TObject* Instance, const TPropInfo* PropInfo, const WideString& Value) {
  SetStrProp(Instance, PropInfo, Value);
}

bool IsCurrencyProp(const TPropInfo* PropInfo) { return PropInfo && CellOf(PropInfo) == ccCurrency; }

double GetFloatProp(TObject* Instance, const TPropInfo* PropInfo) {
  if (IsCurrencyProp(PropInfo)) return Read<Currency>(Instance, PropInfo, ccCurrency).ToDouble();
  return Read<double>(Instance, PropInfo, ccFloat);
}
void SetFloatProp(TObject* Instance, const TPropInfo* PropInfo, double Value) {
  if (IsCurrencyProp(PropInfo)) return Write(Instance, PropInfo, ccCurrency, Currency(Value));
  Write(Instance, PropInfo, ccFloat, Value);
}
Currency GetCurrencyProp(TObject* Instance, const TPropInfo* PropInfo) {
  if (IsCurrencyProp(PropInfo)) return Read<Currency>(Instance, PropInfo, ccCurrency);
  return Currency(Read<double>(Instance, PropInfo, ccFloat));
}
void SetCurrencyProp(TObject* Instance, const TPropInfo* PropInfo, Currency Value) {
  if (IsCurrencyProp(PropInfo)) return Write(Instance, PropInfo, ccCurrency, Value);
  Write(Instance, PropInfo, ccFloat, Value.ToDouble());
}

Int64 GetInt64Prop(TObject* Instance, const TPropInfo* PropInfo) { return Read<Int64>(Instance, PropInfo, ccOrd); }
void SetInt64Prop(TObject* Instance, const TPropInfo* PropInfo, Int64 Value) {
  Write(Instance, PropInfo, ccOrd, Value);
}

TObject* GetObjectProp(TObject* Instance, const TPropInfo* PropInfo, TClass MinClass) {
  TObject* obj = Read<TObject*>(Instance, PropInfo, ccObject);
  if (obj && MinClass && !obj->InheritsFrom(MinClass)) return nullptr;
  return obj;
}
void SetObjectProp(TObject* Instance, const TPropInfo* PropInfo, TObject* Value, bool ValidateClass) {
  Checked(Instance, PropInfo, ccObject);
  // The setter's C++ type is the property's class: a value of another class
  // cannot be stored, whatever ValidateClass says.
  (void)ValidateClass;
  if (Value && PropInfo->PropType->ClassType && !Value->InheritsFrom(PropInfo->PropType->ClassType))
    RaiseInvalidValue();
  Write(Instance, PropInfo, ccObject, Value);
}

TMethod GetMethodProp(TObject* Instance, const TPropInfo* PropInfo) {
  return Read<TMethod>(Instance, PropInfo, ccMethod);
}
void SetMethodProp(TObject* Instance, const TPropInfo* PropInfo, const TMethod& Value) {
  Checked(Instance, PropInfo, ccMethod);
  if (Assigned(Value) && Value.Code.Signature != PropInfo->PropType->MethodSignature) RaiseInvalidValue();
  Write(Instance, PropInfo, ccMethod, Value);
}

IInterface* GetInterfaceProp(TObject* Instance, const TPropInfo* PropInfo) {
  return Read<IInterface*>(Instance, PropInfo, ccInterface);
}
void SetInterfaceProp(TObject* Instance, const TPropInfo* PropInfo, IInterface* Value) {
  Write(Instance, PropInfo, ccInterface, Value);
}

// --- By name ------------------------------------------------------------------------------

Int64 GetOrdProp(TObject* Instance, const String& PropName) { return GetOrdProp(Instance, Find(Instance, PropName)); }
void SetOrdProp(TObject* Instance, const String& PropName, Int64 Value) {
  SetOrdProp(Instance, Find(Instance, PropName), Value);
}
String GetEnumProp(TObject* Instance, const String& PropName) { return GetEnumProp(Instance, Find(Instance, PropName)); }
void SetEnumProp(TObject* Instance, const String& PropName, const String& Value) {
  SetEnumProp(Instance, Find(Instance, PropName), Value);
}
String GetSetProp(TObject* Instance, const String& PropName, bool Brackets) {
  return GetSetProp(Instance, Find(Instance, PropName), Brackets);
}
void SetSetProp(TObject* Instance, const String& PropName, const String& Value) {
  SetSetProp(Instance, Find(Instance, PropName), Value);
}
String GetStrProp(TObject* Instance, const String& PropName) { return GetStrProp(Instance, Find(Instance, PropName)); }
void SetStrProp(TObject* Instance, const String& PropName, const String& Value) {
  SetStrProp(Instance, Find(Instance, PropName), Value);
}
WideString GetWideStrProp(TObject* Instance, const String& PropName) {
  return GetWideStrProp(Instance, Find(Instance, PropName));
}
void SetWideStrProp(TObject* Instance, const String& PropName, const WideString& Value) {
  SetWideStrProp(Instance, Find(Instance, PropName), Value);
}
double GetFloatProp(TObject* Instance, const String& PropName) { return GetFloatProp(Instance, Find(Instance, PropName)); }
void SetFloatProp(TObject* Instance, const String& PropName, double Value) {
  SetFloatProp(Instance, Find(Instance, PropName), Value);
}
Int64 GetInt64Prop(TObject* Instance, const String& PropName) { return GetInt64Prop(Instance, Find(Instance, PropName)); }
void SetInt64Prop(TObject* Instance, const String& PropName, Int64 Value) {
  SetInt64Prop(Instance, Find(Instance, PropName), Value);
}
TObject* GetObjectProp(TObject* Instance, const String& PropName, TClass MinClass) {
  return GetObjectProp(Instance, Find(Instance, PropName), MinClass);
}
void SetObjectProp(TObject* Instance, const String& PropName, TObject* Value) {
  SetObjectProp(Instance, Find(Instance, PropName), Value);
}
TMethod GetMethodProp(TObject* Instance, const String& PropName) {
  return GetMethodProp(Instance, Find(Instance, PropName));
}
void SetMethodProp(TObject* Instance, const String& PropName, const TMethod& Value) {
  SetMethodProp(Instance, Find(Instance, PropName), Value);
}

// --- Variants -------------------------------------------------------------------------------

Variant GetVariantProp(TObject* Instance, const TPropInfo* PropInfo) {
  return Read<Variant>(Instance, PropInfo, ccVariant);
}
void SetVariantProp(TObject* Instance, const TPropInfo* PropInfo, const Variant& Value) {
  Write(Instance, PropInfo, ccVariant, Value);
}
Variant GetVariantProp(TObject* Instance, const String& PropName) {
  return GetVariantProp(Instance, Find(Instance, PropName));
}
void SetVariantProp(TObject* Instance, const String& PropName, const Variant& Value) {
  SetVariantProp(Instance, Find(Instance, PropName), Value);
}

Variant GetPropValue(TObject* Instance, const TPropInfo* PropInfo, bool PreferStrings) {
  if (!PropInfo || !PropInfo->PropType) throw EPropertyError(u"Property does not exist");
  const TTypeInfo* t = PropInfo->PropType;
  switch (t->Kind) {
    case tkInteger:
    case tkChar:
    case tkWChar:
      if (t->OrdType == otULong) return Variant(static_cast<Cardinal>(GetOrdProp(Instance, PropInfo)));
      return Variant(static_cast<Integer>(GetOrdProp(Instance, PropInfo)));
    case tkEnumeration:
      if (PreferStrings) return Variant(GetEnumProp(Instance, PropInfo));
      if (t == TypeInfo<bool>()) return Variant(GetOrdProp(Instance, PropInfo) != 0);
      return Variant(static_cast<Integer>(GetOrdProp(Instance, PropInfo)));
    case tkSet:
      if (PreferStrings) return Variant(GetSetProp(Instance, PropInfo));
      return Variant(static_cast<Integer>(GetOrdProp(Instance, PropInfo)));
    case tkFloat: {
      if (IsCurrencyProp(PropInfo)) return Variant(GetCurrencyProp(Instance, PropInfo));
      double d = GetFloatProp(Instance, PropInfo);
      if (IsDateType(t)) return VarFromDateTime(d);
      return Variant(d);
    }
    case tkMethod:
      return Variant(t->Name);
    case tkString:
    case tkLString:
    case tkWString:
    case tkUString:
      return Variant(GetStrProp(Instance, PropInfo));
    case tkVariant:
      return GetVariantProp(Instance, PropInfo);
    case tkInt64:
      return Variant(GetInt64Prop(Instance, PropInfo));
    default:
      RaiseInvalidType(PropInfo);
  }
}

void SetPropValue(TObject* Instance, const TPropInfo* PropInfo, const Variant& Value) {
  if (!PropInfo || !PropInfo->PropType) throw EPropertyError(u"Property does not exist");
  const TTypeInfo* t = PropInfo->PropType;
  switch (t->Kind) {
    case tkInteger:
    case tkChar:
    case tkWChar:
      SetOrdProp(Instance, PropInfo, Ranged(PropInfo, Value.AsInt64()));
      return;
    case tkEnumeration:
      if (VarIsStr(Value))
        SetEnumProp(Instance, PropInfo, VarToStr(Value));
      else if (VarType(Value) == varBoolean)
        SetOrdProp(Instance, PropInfo, Value.AsBoolean() ? 1 : 0);
      else
        SetOrdProp(Instance, PropInfo, Ranged(PropInfo, Value.AsInt64()));
      return;
    case tkSet:
      if (VarIsStr(Value))
        SetSetProp(Instance, PropInfo, VarToStr(Value));
      else
        SetOrdProp(Instance, PropInfo, Value.AsInt64());
      return;
    case tkFloat:
      if (IsCurrencyProp(PropInfo))
        SetCurrencyProp(Instance, PropInfo, Value.AsCurrency());
      else
        SetFloatProp(Instance, PropInfo, Value.AsDouble());
      return;
    case tkString:
    case tkLString:
    case tkWString:
    case tkUString:
      SetStrProp(Instance, PropInfo, VarToStr(Value));
      return;
    case tkVariant:
      SetVariantProp(Instance, PropInfo, Value);
      return;
    case tkInt64:
      SetInt64Prop(Instance, PropInfo, Value.AsInt64());
      return;
    default:
      throw EPropertyConvertError(u"Invalid property type: " + t->Name);
  }
}

Variant GetPropValue(TObject* Instance, const String& PropName, bool PreferStrings) {
  return GetPropValue(Instance, Find(Instance, PropName), PreferStrings);
}
void SetPropValue(TObject* Instance, const String& PropName, const Variant& Value) {
  SetPropValue(Instance, Find(Instance, PropName), Value);
}

// --- Published fields and methods ------------------------------------------------------------

const TPublishedField* FindPublishedField(TClass AClass, const String& Name) {
  if (!AClass) return nullptr;
  const auto& fields = TypeData(AClass).Fields;
  // The most derived declaration wins.
  for (auto it = fields.rbegin(); it != fields.rend(); ++it)
    if (SameText((*it)->Name, Name)) return *it;
  return nullptr;
}

TObject* GetPublishedField(TObject* Instance, const String& Name) {
  const TPublishedField* f = Instance ? FindPublishedField(Instance->ClassType(), Name) : nullptr;
  return f ? f->Get(*f, Instance) : nullptr;
}

bool SetPublishedField(TObject* Instance, const String& Name, TObject* Value) {
  const TPublishedField* f = Instance ? FindPublishedField(Instance->ClassType(), Name) : nullptr;
  if (!f) return false;
  if (Value && !Value->InheritsFrom(f->FieldClass)) RaiseInvalidCast();
  f->Set(*f, Instance, Value);
  return true;
}

std::vector<const TPublishedField*> GetPublishedFields(TClass AClass) {
  return AClass ? TypeData(AClass).Fields : std::vector<const TPublishedField*>();
}

const TPublishedMethod* FindPublishedMethod(TClass AClass, const String& Name) {
  if (!AClass) return nullptr;
  const auto& methods = TypeData(AClass).Methods;
  for (auto it = methods.rbegin(); it != methods.rend(); ++it)
    if (SameText((*it)->Name, Name)) return *it;
  return nullptr;
}

TMethod MethodByName(TObject* Instance, const String& Name) {
  TMethod m;
  const TPublishedMethod* p = Instance ? FindPublishedMethod(Instance->ClassType(), Name) : nullptr;
  if (p) {
    m.Code = p->Code;
    m.Data = p->AdjustData(Instance);
    m.Code.Resolve(m.Data);
  }
  return m;
}

String MethodName(TClass AClass, const TMethodCode& Code) {
  if (!AClass || !Code.Assigned()) return String();
  const auto& methods = TypeData(AClass).Methods;
  for (auto it = methods.rbegin(); it != methods.rend(); ++it)
    if ((*it)->Code == Code) return (*it)->Name;
  return String();
}

std::vector<const TPublishedMethod*> GetPublishedMethods(TClass AClass) {
  return AClass ? TypeData(AClass).Methods : std::vector<const TPublishedMethod*>();
}
