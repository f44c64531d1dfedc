// Variant: a dynamically typed value with the platform's type codes,
// conversions, comparisons and arithmetic; one-dimensional variant arrays;
// custom variant types registered at run time (FMTBcd, the SQL time stamp).
//
// Rules in brief (docs/ARCHITECTURE.md, "Variants", has the full list):
// - Empty and Null are distinct. Converting Null raises EVariantTypeCastError;
//   converting Empty gives 0, "" or False. VarToStr(Null) is "".
// - A failed conversion raises EVariantTypeCastError, a value outside the
//   target type EVariantOverflowError; never EConvertError.
// - Comparison: Null equals only Null and is less than anything else; Empty
//   acts as the zero of the other operand's kind; two strings compare ordinally
//   (case-sensitive); a string against a number is converted to a number.
// - Arithmetic: Null in, Null out. Integer kinds compute in 64 bits and give
//   Integer when the result fits, else Int64; Int64 overflow raises
//   EVariantOverflowError.
#pragma once

#include <cstddef>
#include <initializer_list>

#include "platform/rtl/Numbers.h"
#include "platform/rtl/Types.h"

using TVarType = Word;

constexpr TVarType varEmpty = 0x0000;
constexpr TVarType varNull = 0x0001;
constexpr TVarType varSmallint = 0x0002;
constexpr TVarType varInteger = 0x0003;
constexpr TVarType varSingle = 0x0004;
constexpr TVarType varDouble = 0x0005;
constexpr TVarType varCurrency = 0x0006;
constexpr TVarType varDate = 0x0007;
constexpr TVarType varOleStr = 0x0008;
constexpr TVarType varDispatch = 0x0009;
constexpr TVarType varError = 0x000A;
constexpr TVarType varBoolean = 0x000B;
constexpr TVarType varVariant = 0x000C;
constexpr TVarType varUnknown = 0x000D;
constexpr TVarType varShortInt = 0x0010;
constexpr TVarType varByte = 0x0011;
constexpr TVarType varWord = 0x0012;
constexpr TVarType varLongWord = 0x0013;
constexpr TVarType varInt64 = 0x0014;
constexpr TVarType varUInt64 = 0x0015;
constexpr TVarType varString = 0x0100;
constexpr TVarType varUString = 0x0102;
constexpr TVarType varTypeMask = 0x0FFF;
constexpr TVarType varArray = 0x2000;
constexpr TVarType varByRef = 0x4000;
// Custom variant types get codes from here upward, in the order they register.
constexpr TVarType varFirstCustom = 0x010F;

enum TVariantRelationship { vrEqual, vrLessThan, vrGreaterThan, vrNotEqual };

// The operations a custom variant type may implement.
enum TVarOp { opAdd, opSubtract, opMultiply, opDivide, opIntDivide, opModulus, opNegate };

class Variant {
 public:
  Variant() noexcept = default;
  Variant(const Variant& Source);
  Variant(Variant&& Source) noexcept;
  Variant& operator=(const Variant& Source);
  Variant& operator=(Variant&& Source);
  ~Variant();

  Variant(bool Value) noexcept;
  Variant(ShortInt Value) noexcept;
  Variant(Byte Value) noexcept;
  Variant(SmallInt Value) noexcept;
  Variant(Word Value) noexcept;
  Variant(Integer Value) noexcept;
  Variant(Cardinal Value) noexcept;
  Variant(Int64 Value) noexcept;
  Variant(UInt64 Value) noexcept;
  Variant(Single Value) noexcept;
  Variant(Double Value) noexcept;
  Variant(Currency Value) noexcept;
  Variant(Char Value);               // varUString of one character
  Variant(AnsiChar Value);           // varString of one byte
  Variant(const String& Value);      // varUString
  Variant(const char16_t* Value);    // varUString; nullptr gives ""
  Variant(const AnsiString& Value);  // varString
  Variant(const char* Value);        // varString; nullptr gives ""
  Variant(const void*) = delete;     // no pointer becomes a Boolean by accident

  TVarType VType() const { return FType; }

  // Conversions with the platform's rules (see the file comment).
  Integer AsInteger() const;
  Int64 AsInt64() const;
  Double AsDouble() const;
  Currency AsCurrency() const;
  Boolean AsBoolean() const;
  TDateTime AsDateTime() const;
  String AsString() const;
  AnsiString AsAnsiString() const;

  // Elements of a one-dimensional array, by index within its bounds;
  // EVariantBadIndexError outside them, EVariantInvalidArgError on a non-array.
  Variant operator[](Integer Index) const { return GetElement(Index); }
  Variant GetElement(Integer Index) const;
  void SetElement(Integer Index, const Variant& Value);

  // Storage of custom variant types: a copy of Size bytes of their record.
  static Variant CreateCustom(TVarType AType, const void* Data, size_t Size);
  const void* CustomData() const;  // nullptr unless a custom type
  size_t CustomDataSize() const;

  friend bool operator==(const Variant& A, const Variant& B);
  friend bool operator<(const Variant& A, const Variant& B);
  friend bool operator<=(const Variant& A, const Variant& B);
  friend bool operator>(const Variant& A, const Variant& B) { return B < A; }
  friend bool operator>=(const Variant& A, const Variant& B) { return B <= A; }

 private:
  friend struct TVariantAccess;
  void Release();
  void CopyFrom(const Variant& Source);

  TVarType FType = varEmpty;
  union TScalar {
    SmallInt VSmallInt;
    Integer VInteger;
    Single VSingle;
    Double VDouble;   // also varDate
    Int64 VCurrency;  // raw, value * 10000
    Boolean VBoolean;
    ShortInt VShortInt;
    Byte VByte;
    Word VWord;
    Cardinal VLongWord;
    Int64 VInt64;
    UInt64 VUInt64;
  } FV{.VInt64 = 0};
  void* FHeap = nullptr;  // strings, arrays and custom records (kind given by FType)
};

Variant operator+(const Variant& A, const Variant& B);
Variant operator-(const Variant& A, const Variant& B);
Variant operator*(const Variant& A, const Variant& B);
Variant operator/(const Variant& A, const Variant& B);
Variant operator-(const Variant& A);
// The platform's div and mod on variants: integer operands (floats rounded).
Variant VarIntDiv(const Variant& A, const Variant& B);
Variant VarMod(const Variant& A, const Variant& B);
inline Variant& operator+=(Variant& A, const Variant& B) { return A = A + B; }
inline Variant& operator-=(Variant& A, const Variant& B) { return A = A - B; }

Variant Unassigned();
Variant Null();
Variant VarFromDateTime(TDateTime Value);
void VarClear(Variant& V);

TVarType VarType(const Variant& V);
bool VarIsNull(const Variant& V);
bool VarIsEmpty(const Variant& V);
bool VarIsClear(const Variant& V);
bool VarIsArray(const Variant& V);
bool VarIsStr(const Variant& V);
// Ordinal: the integer kinds and Boolean. Float: single, double, currency.
// Numeric: ordinal or float. Custom types are none of these.
bool VarIsOrdinal(const Variant& V);
bool VarIsFloat(const Variant& V);
bool VarIsNumeric(const Variant& V);
bool VarIsType(const Variant& V, TVarType AVarType);
bool VarIsCustom(const Variant& V);
// The name of a type code as the error messages show it ("Integer", "UnicodeString").
String VarTypeAsText(TVarType AVarType);

// Converts V to the given code (a standard type or a registered custom type).
Variant VarAsType(const Variant& V, TVarType AVarType);
String VarToStr(const Variant& V);
String VarToStrDef(const Variant& V, const String& Default);  // Default for Null
TDateTime VarToDateTime(const Variant& V);

// Equal, less, greater, or not equal when one side is Null or Empty and the
// other is not (two Nulls or two Empties are equal).
TVariantRelationship VarCompareValue(const Variant& A, const Variant& B);

// ---- Arrays (one dimension) ----
// Bounds are {Low, High}; High = Low - 1 makes an empty array. Element types:
// varVariant, varByte, and the other simple types (elements are converted on
// store). EVariantArrayCreateError for bad bounds or types.
Variant VarArrayCreate(std::initializer_list<Integer> Bounds, TVarType AVarType);
Variant VarArrayOf(std::initializer_list<Variant> Values);  // 0..n-1 of varVariant
Integer VarArrayDimCount(const Variant& A);
Integer VarArrayLowBound(const Variant& A, Integer Dim);
Integer VarArrayHighBound(const Variant& A, Integer Dim);
Variant VarArrayGet(const Variant& A, std::initializer_list<Integer> Indices);
void VarArrayPut(Variant& A, const Variant& Value, std::initializer_list<Integer> Indices);
// The elements' storage (bytes of a byte array, Variant objects otherwise),
// valid until the matching unlock. Clearing or reassigning a locked array
// raises EVariantArrayLockedError.
void* VarArrayLock(Variant& A);
void VarArrayUnlock(Variant& A);

// ---- Custom variant types ----
// A custom type registers itself when constructed (the code is allocated
// then, from varFirstCustom upward) and lives for the whole process. Its
// values are records of fixed size (DataSize) stored with Variant::CreateCustom.
class TCustomVariantType {
 public:
  TCustomVariantType(const TCustomVariantType&) = delete;
  TCustomVariantType& operator=(const TCustomVariantType&) = delete;
  virtual ~TCustomVariantType() = default;

  TVarType VarType() const { return FVarType; }
  const String& Name() const { return FName; }
  // The size of the type's value record; Variant::CreateCustom refuses any
  // other size, since the type reads its records at this size.
  virtual size_t DataSize() const = 0;

  // A value of this type converted to the standard type AVarType; raises
  // EVariantTypeCastError when it cannot be.
  virtual Variant CastTo(const Variant& Source, TVarType AVarType) const = 0;
  // Any non-Null value (standard or custom) converted to this type; raises
  // EVariantTypeCastError when it cannot be.
  virtual Variant Cast(const Variant& Source) const = 0;
  // Both of this type: negative, zero or positive.
  virtual Integer Compare(const Variant& Left, const Variant& Right) const = 0;
  // At least one operand is of this type, neither is Null. The base raises
  // EVariantInvalidOpError.
  virtual Variant BinaryOp(const Variant& Left, const Variant& Right, TVarOp Op) const;
  virtual Variant UnaryOp(const Variant& Operand, TVarOp Op) const;

 protected:
  explicit TCustomVariantType(const String& AName);

 private:
  TVarType FVarType = 0;
  String FName;
};

// The registered type of a code, or nullptr.
const TCustomVariantType* FindCustomVariantType(TVarType AVarType);

// Raise the platform's variant errors with their messages.
[[noreturn]] void VarCastError(TVarType Source, TVarType Dest);
[[noreturn]] void VarOverflowError(TVarType Source, TVarType Dest);
[[noreturn]] void VarInvalidOp();
