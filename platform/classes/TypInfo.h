// Run-time type information of published members and the functions that read
// and write published properties by name.
//
// Each class that publishes members lists them in its source file (see
// platform/classes/TypInfoBuild.h); the tables hang on the class's metaclass.
// Lists run in declaration order, ancestors first; a class that publishes a
// property again (to change its default) replaces the inherited entry in place.
//
// Values cross the type-erased accessors in one "cell" type per kind:
//   tkInteger, tkChar, tkWChar, tkEnumeration, tkSet, tkInt64   Int64 (a set: its bits)
//   tkFloat                                                   double
//   tkString, tkLString, tkWString, tkUString                 String
//   tkClass                                                   TObject*
//   tkMethod                                                  TMethod
//   tkVariant                                                 Variant
//   tkInterface                                               IInterface* (not counted)
#pragma once

#include <vector>

#include "platform/classes/Delegates.h"
#include "platform/classes/ObjectModel.h"
#include "platform/classes/Sets.h"
#include "platform/rtl/Types.h"

struct TGUID;
struct IInterface;
class Variant;
class Currency;

enum TTypeKind : Byte {
  tkUnknown,
  tkInteger,
  tkChar,
  tkEnumeration,
  tkFloat,
  tkString,
  tkSet,
  tkClass,
  tkMethod,
  tkWChar,
  tkLString,
  tkWString,
  tkVariant,
  tkArray,
  tkRecord,
  tkInterface,
  tkInt64,
  tkDynArray,
  tkUString
};
using TTypeKinds = TSet<TTypeKind, 4>;

inline constexpr TTypeKinds tkAny{tkUnknown, tkInteger, tkChar, tkEnumeration, tkFloat, tkString, tkSet,
                                  tkClass, tkMethod, tkWChar, tkLString, tkWString, tkVariant, tkArray,
                                  tkRecord, tkInterface, tkInt64, tkDynArray, tkUString};
inline constexpr TTypeKinds tkMethods{tkMethod};
inline constexpr TTypeKinds tkProperties = tkAny - tkMethods - TTypeKinds{tkUnknown};
inline constexpr TTypeKinds tkOrdinal{tkInteger, tkChar, tkEnumeration, tkWChar, tkInt64};
inline constexpr TTypeKinds tkStrings{tkString, tkLString, tkWString, tkUString};

enum TOrdType : Byte { otSByte, otUByte, otSWord, otUWord, otSLong, otULong };
enum TFloatType : Byte { ftSingle, ftDouble, ftExtended, ftComp, ftCurr };

// The type information of one type. Only the fields of its kind are used.
struct TTypeInfo {
  TTypeKind Kind = tkUnknown;
  String Name;  // the type's own name: "Integer", "TAlignment", "TFont", "TNotifyEvent"
  // Ordinal kinds: storage and range (an enumeration: 0 .. count - 1).
  TOrdType OrdType = otSLong;
  Int64 MinValue = 0;
  Int64 MaxValue = 0;
  // Enumerations: the value names, ordinal MinValue first.
  std::vector<String> EnumNames;
  // Sets: the element enumeration and the set's size in bytes.
  const TTypeInfo* CompType = nullptr;
  Integer SetSize = 0;
  // Floats.
  TFloatType FloatType = ftDouble;
  // Classes.
  TClass ClassType = nullptr;
  // Methods: the identity of the delegate signature (TDelegate<F>::SignatureId).
  const void* MethodSignature = nullptr;
  // Interfaces: the GUID (nil for interfaces compared by type only).
  const TGUID* Guid = nullptr;
};
using PTypeInfo = const TTypeInfo*;

struct TPropInfo;

// A type-erased getter, setter or stored predicate: a thunk and the bits of
// the member function pointer or field offset it calls.
struct TPropAccess {
  void (*Thunk)(const TPropAccess& Self, const TPropInfo& Prop, TObject* Instance, void* Cell) = nullptr;
  alignas(void*) unsigned char Target[2 * sizeof(void*)]{};

  explicit operator bool() const { return Thunk != nullptr; }
};

constexpr Integer NoPropIndex = static_cast<Integer>(0x80000000u);

struct TPropInfo {
  const TTypeInfo* PropType = nullptr;
  String Name;
  TPropAccess Getter;      // absent: write-only
  TPropAccess Setter;      // absent: read-only
  TPropAccess StoredProc;  // a predicate (its cell is a bool); absent: StoredConst
  bool StoredConst = true;
  Integer Index = NoPropIndex;  // the index specifier, NoPropIndex when none
  bool HasDefault = false;      // false: nodefault (always written, unless empty)
  Int64 Default = 0;            // ordinal value or set bits
  TClass Owner = nullptr;       // the declaring class
};
using PPropInfo = const TPropInfo*;
using TPropList = std::vector<const TPropInfo*>;

// A published field: a form's component field set by the reader by name.
struct TPublishedField {
  String Name;
  TClass FieldClass = nullptr;
  TObject* (*Get)(const TPublishedField& Self, TObject* Instance) = nullptr;
  void (*Set)(const TPublishedField& Self, TObject* Instance, TObject* Value) = nullptr;
  alignas(void*) unsigned char Target[2 * sizeof(void*)]{};
};

// A published method: an event handler bound by name.
struct TPublishedMethod {
  String Name;
  TMethodCode Code;
  const TTypeInfo* EventType = nullptr;  // the event type it was declared with (may be nil)
  void* (*AdjustData)(TObject* Instance) = nullptr;  // the object as the method's class
};

// What one class publishes itself (its ancestors' members are not repeated).
struct TPublishedTable {
  std::vector<TPropInfo> Props;
  std::vector<TPublishedField> Fields;
  std::vector<TPublishedMethod> Methods;
};

// --- Type information of types --------------------------------------------------------

// TypeInfoOf(static_cast<const T*>(nullptr)) is T's type information; the
// overload for an enumeration, set or event type is declared beside it
// (CL_ENUM, CL_DECLARE_TYPEINFO). TypeInfo<T>() reads better.
const TTypeInfo* TypeInfoOf(const Integer*);
const TTypeInfo* TypeInfoOf(const Cardinal*);
const TTypeInfo* TypeInfoOf(const ShortInt*);
const TTypeInfo* TypeInfoOf(const SmallInt*);
const TTypeInfo* TypeInfoOf(const Byte*);
const TTypeInfo* TypeInfoOf(const Word*);
const TTypeInfo* TypeInfoOf(const Int64*);
const TTypeInfo* TypeInfoOf(const UInt64*);
const TTypeInfo* TypeInfoOf(const bool*);
const TTypeInfo* TypeInfoOf(const char*);      // AnsiChar: tkChar
const TTypeInfo* TypeInfoOf(const char16_t*);  // Char: tkWChar
const TTypeInfo* TypeInfoOf(const float*);
const TTypeInfo* TypeInfoOf(const double*);
const TTypeInfo* TypeInfoOf(const String*);      // tkUString "string"
const TTypeInfo* TypeInfoOf(const AnsiString*);  // tkLString "AnsiString"
const TTypeInfo* TypeInfoOf(const TNotifyEvent*);

template <class T>
const TTypeInfo* TypeInfo() {
  return TypeInfoOf(static_cast<const T*>(nullptr));
}

// Named types that share a C++ type with another (TDateTime is a double,
// TColor an Integer) have their own type information objects.
const TTypeInfo* TypeInfoTDateTime();
const TTypeInfo* TypeInfoTDate();
const TTypeInfo* TypeInfoTTime();
const TTypeInfo* TypeInfoCurrency();
const TTypeInfo* TypeInfoWideString();  // tkWString "WideString"
const TTypeInfo* TypeInfoVariant();

// Makers of type information objects; each returns an object that lives as
// long as the program. Enumeration names are given as the declaration text
// "a, b, c" (what CL_ENUM stringizes).
const TTypeInfo* MakeEnumTypeInfo(const char16_t* Name, const char* ValueNames);
const TTypeInfo* MakeOrdinalTypeInfo(TTypeKind Kind, const char16_t* Name, TOrdType OrdType, Int64 Min, Int64 Max);
const TTypeInfo* MakeFloatTypeInfo(const char16_t* Name, TFloatType FloatType);
const TTypeInfo* MakeSetTypeInfo(const char16_t* Name, const TTypeInfo* ElemType, Integer SetSize);
const TTypeInfo* MakeMethodTypeInfo(const char16_t* Name, const void* Signature);
const TTypeInfo* MakeInterfaceTypeInfo(const char16_t* Name, const TGUID* Guid);
// The one tkClass type information of a class (made on first request).
const TTypeInfo* ClassTypeInfo(TClass AClass);

// Declares an enumeration (plain, with a fixed underlying type, ordinals from
// 0) together with its type information:
//   CL_ENUM(TAlignment, Byte, taLeftJustify, taRightJustify, taCenter);
#define CL_ENUM(Name, Underlying, ...)                                            \
  enum Name : Underlying { __VA_ARGS__ };                                         \
  inline const TTypeInfo* TypeInfoOf(const Name*) {                               \
    static const TTypeInfo* const info = MakeEnumTypeInfo(u"" #Name, #__VA_ARGS__); \
    return info;                                                                  \
  }

// Declares the type information of a set type beside its declaration:
//   using TFontStyles = TSet<TFontStyle, 1>;  CL_SET_TYPEINFO(TFontStyles);
#define CL_SET_TYPEINFO(Name)                                                                        \
  inline const TTypeInfo* TypeInfoOf(const Name*) {                                                  \
    static const TTypeInfo* const info =                                                             \
        MakeSetTypeInfo(u"" #Name, TypeInfo<Name::Element>(), static_cast<Integer>(Name::Size));      \
    return info;                                                                                     \
  }

// Declares the type information of an event (delegate) type, at global scope
// (a delegate type's own namespace is the global one, where the lookup goes):
//   using TCloseEvent = TDelegate<void(TObject*, TCloseAction&)>;  CL_EVENT_TYPEINFO(TCloseEvent);
#define CL_EVENT_TYPEINFO(Name)                                                        \
  inline const TTypeInfo* TypeInfoOf(const Name*) {                                    \
    static const TTypeInfo* const info = MakeMethodTypeInfo(u"" #Name, Name::SignatureId()); \
    return info;                                                                       \
  }

// Enumeration value names: GetEnumName gives "" for an ordinal out of range,
// GetEnumValue -1 for an unknown name (compared without regard to ASCII case).
String GetEnumName(const TTypeInfo* TypeInfo, Integer Value);
Integer GetEnumValue(const TTypeInfo* TypeInfo, const String& Name);

// Set text through the element names: "[a,b]" with Brackets, else "a,b".
String SetToString(const TPropInfo* PropInfo, Int64 Value, bool Brackets = false);
String SetToString(const TTypeInfo* SetType, Int64 Value, bool Brackets = false);
// Accepts "[a, b]", "a,b", "" and "[]"; an unknown name raises
// EPropertyConvertError "Invalid property element: %s".
Int64 StringToSet(const TPropInfo* PropInfo, const String& Value);
Int64 StringToSet(const TTypeInfo* SetType, const String& Value);

// --- Identifier maps of integer types (clXxx, crXxx, charsets) ------------------------

struct TIdentMapEntry {
  Integer Value;
  const char16_t* Name;
};
using TIdentToInt = bool (*)(const String& Ident, Integer& Int);
using TIntToIdent = bool (*)(Integer Int, String& Ident);

// Registers the conversions for an integer type (its tkInteger type information).
void RegisterIntegerConsts(const TTypeInfo* IntegerType, TIdentToInt IdentToIntFn, TIntToIdent IntToIdentFn);
TIdentToInt FindIdentToInt(const TTypeInfo* IntegerType);
TIntToIdent FindIntToIdent(const TTypeInfo* IntegerType);
// Lookups in a map table; identifiers compare without regard to ASCII case.
bool IdentToInt(const String& Ident, Integer& Int, const TIdentMapEntry* Map, size_t Count);
bool IntToIdent(Integer Int, String& Ident, const TIdentMapEntry* Map, size_t Count);

// --- Published members of classes -----------------------------------------------------

// Property lookup by name (without regard to ASCII case); nil when absent.
const TPropInfo* GetPropInfo(TClass AClass, const String& PropName, TTypeKinds AKinds = {});
const TPropInfo* GetPropInfo(const TObject* Instance, const String& PropName, TTypeKinds AKinds = {});
// Every property in declaration order, ancestors first.
TPropList GetPropInfos(TClass AClass);
TPropList GetPropList(const TObject* Instance);
// The properties of the given kinds, sorted by name (CompareText order) unless SortList is false.
TPropList GetPropList(TClass AClass, TTypeKinds Kinds, bool SortList = true);
void SortPropList(TPropList& List);

bool IsPublishedProp(TClass AClass, const String& PropName);
bool IsPublishedProp(const TObject* Instance, const String& PropName);
// These raise EPropertyError "Property %s does not exist" for an unknown name.
bool PropIsType(TClass AClass, const String& PropName, TTypeKind TypeKind);
bool PropIsType(const TObject* Instance, const String& PropName, TTypeKind TypeKind);
TTypeKind PropType(TClass AClass, const String& PropName);
TTypeKind PropType(const TObject* Instance, const String& PropName);

// Whether the property is written by the form writer (stored constant or predicate).
bool IsStoredProp(TObject* Instance, const TPropInfo* PropInfo);
bool IsStoredProp(TObject* Instance, const String& PropName);
// The writer's test without an ancestor: an ordinal equal to its default (a
// nodefault ordinal is always written), an empty string, a zero float or
// Int64, a nil object or method, an unassigned variant.
bool IsDefaultPropertyValue(TObject* Instance, const TPropInfo* PropInfo);

// Get and set by property. A getter or setter the property lacks raises
// EPropertyError "Property %s is write-only" / "Property %s is read-only";
// a property of another kind raises EPropertyError "Invalid property type: %s".
Int64 GetOrdProp(TObject* Instance, const TPropInfo* PropInfo);
void SetOrdProp(TObject* Instance, const TPropInfo* PropInfo, Int64 Value);
String GetEnumProp(TObject* Instance, const TPropInfo* PropInfo);
void SetEnumProp(TObject* Instance, const TPropInfo* PropInfo, const String& Value);
String GetSetProp(TObject* Instance, const TPropInfo* PropInfo, bool Brackets = false);
void SetSetProp(TObject* Instance, const TPropInfo* PropInfo, const String& Value);
String GetStrProp(TObject* Instance, const TPropInfo* PropInfo);
void SetStrProp(TObject* Instance, const TPropInfo* PropInfo, const String& Value);
WideString GetWideStrProp(TObject* Instance, const TPropInfo* PropInfo);
void SetWideStrProp(TObject* Instance, const TPropInfo* PropInfo, const WideString& Value);
double GetFloatProp(TObject* Instance, const TPropInfo* PropInfo);
void SetFloatProp(TObject* Instance, const TPropInfo* PropInfo, double Value);
// Currency properties keep their exact value here (GetFloatProp rounds through
// double); a property of another float type converts.
bool IsCurrencyProp(const TPropInfo* PropInfo);
Currency GetCurrencyProp(TObject* Instance, const TPropInfo* PropInfo);
void SetCurrencyProp(TObject* Instance, const TPropInfo* PropInfo, Currency Value);
Int64 GetInt64Prop(TObject* Instance, const TPropInfo* PropInfo);
void SetInt64Prop(TObject* Instance, const TPropInfo* PropInfo, Int64 Value);
// GetObjectProp gives nil when the object is not of MinClass.
TObject* GetObjectProp(TObject* Instance, const TPropInfo* PropInfo, TClass MinClass = nullptr);
// A value not of the property's class raises EPropertyConvertError "Invalid property value".
void SetObjectProp(TObject* Instance, const TPropInfo* PropInfo, TObject* Value, bool ValidateClass = true);
TMethod GetMethodProp(TObject* Instance, const TPropInfo* PropInfo);
// A method of another signature raises EPropertyConvertError "Invalid property value".
void SetMethodProp(TObject* Instance, const TPropInfo* PropInfo, const TMethod& Value);
IInterface* GetInterfaceProp(TObject* Instance, const TPropInfo* PropInfo);
void SetInterfaceProp(TObject* Instance, const TPropInfo* PropInfo, IInterface* Value);

// The same by name; an unknown name raises EPropertyError "Property %s does not exist".
Int64 GetOrdProp(TObject* Instance, const String& PropName);
void SetOrdProp(TObject* Instance, const String& PropName, Int64 Value);
String GetEnumProp(TObject* Instance, const String& PropName);
void SetEnumProp(TObject* Instance, const String& PropName, const String& Value);
String GetSetProp(TObject* Instance, const String& PropName, bool Brackets = false);
void SetSetProp(TObject* Instance, const String& PropName, const String& Value);
String GetStrProp(TObject* Instance, const String& PropName);
void SetStrProp(TObject* Instance, const String& PropName, const String& Value);
WideString GetWideStrProp(TObject* Instance, const String& PropName);
void SetWideStrProp(TObject* Instance, const String& PropName, const WideString& Value);
double GetFloatProp(TObject* Instance, const String& PropName);
void SetFloatProp(TObject* Instance, const String& PropName, double Value);
Int64 GetInt64Prop(TObject* Instance, const String& PropName);
void SetInt64Prop(TObject* Instance, const String& PropName, Int64 Value);
TObject* GetObjectProp(TObject* Instance, const String& PropName, TClass MinClass = nullptr);
void SetObjectProp(TObject* Instance, const String& PropName, TObject* Value);
TMethod GetMethodProp(TObject* Instance, const String& PropName);
void SetMethodProp(TObject* Instance, const String& PropName, const TMethod& Value);

// Variant access (kinds as the platform converts them: an enumeration or set
// as its text when PreferStrings, Boolean as a Boolean variant).
Variant GetVariantProp(TObject* Instance, const TPropInfo* PropInfo);
void SetVariantProp(TObject* Instance, const TPropInfo* PropInfo, const Variant& Value);
Variant GetVariantProp(TObject* Instance, const String& PropName);
void SetVariantProp(TObject* Instance, const String& PropName, const Variant& Value);
Variant GetPropValue(TObject* Instance, const TPropInfo* PropInfo, bool PreferStrings = true);
void SetPropValue(TObject* Instance, const TPropInfo* PropInfo, const Variant& Value);
Variant GetPropValue(TObject* Instance, const String& PropName, bool PreferStrings = true);
void SetPropValue(TObject* Instance, const String& PropName, const Variant& Value);

// Published fields and methods (ancestors searched too).
const TPublishedField* FindPublishedField(TClass AClass, const String& Name);
TObject* GetPublishedField(TObject* Instance, const String& Name);
// Sets the field Name of Instance; false when there is none. A value not of
// the field's class raises EInvalidCast.
bool SetPublishedField(TObject* Instance, const String& Name, TObject* Value);
std::vector<const TPublishedField*> GetPublishedFields(TClass AClass);

const TPublishedMethod* FindPublishedMethod(TClass AClass, const String& Name);
// The handler Name of Instance bound to Instance; unassigned when there is none.
TMethod MethodByName(TObject* Instance, const String& Name);
// The published name of a method code of AClass; "" when it is not published.
String MethodName(TClass AClass, const TMethodCode& Code);
std::vector<const TPublishedMethod*> GetPublishedMethods(TClass AClass);
