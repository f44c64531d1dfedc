#include "platform/rtl/Variants.h"
#include "platform/rtl/VariantTexts.h"

#include <cfloat>
#include <cmath>
#include <cstring>
#include <mutex>
#include <new>
#include <vector>

#include "platform/rtl/CodePages.h"
#include "platform/rtl/Conversions.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/Exceptions.h"

namespace {

// ---- Heap parts -------------------------------------------------------------

struct TVarArrayData {
  Integer Low = 0;
  TVarType ElemType = varVariant;
  Integer LockCount = 0;
  std::vector<Variant> Items;  // every element type but varByte
  std::vector<Byte> Bytes;     // varByte

  Integer Count() const { return static_cast<Integer>(ElemType == varByte ? Bytes.size() : Items.size()); }
};

using TCustomBytes = std::vector<Byte>;

bool IsStringCode(TVarType T) { return T == varOleStr || T == varUString; }
bool IsCustomCode(TVarType T) { return T >= varFirstCustom && T <= varTypeMask; }

// ---- Registry of custom types ----------------------------------------------

struct TCustomRegistry {
  std::mutex Lock;
  std::vector<const TCustomVariantType*> Types;  // index = code - varFirstCustom
};

TCustomRegistry& Registry() {
  static TCustomRegistry R;
  return R;
}

// ---- Errors -----------------------------------------------------------------

[[noreturn]] void BadIndex() { throw EVariantBadIndexError(u"Variant or safe array index out of bounds"); }
[[noreturn]] void InvalidArg() { throw EVariantInvalidArgError(u"Invalid argument"); }
[[noreturn]] void ArrayCreateError() {
  throw EVariantArrayCreateError(u"Error creating variant or safe array");
}
[[noreturn]] void ArrayLocked() { throw EVariantArrayLockedError(u"Variant or safe array is locked"); }
[[noreturn]] void BadVarType() { throw EVariantBadVarTypeError(u"Invalid variant type"); }

// ---- Kinds used by conversions, comparison and arithmetic ------------------

enum class TKind { Empty, Null, Int, Int64, Float, Curr, Date, Bool, Str, Array, Custom, Other };

TKind KindOf(TVarType T) {
  if (T & varArray) return TKind::Array;
  switch (T) {
    case varEmpty:
      return TKind::Empty;
    case varNull:
      return TKind::Null;
    case varSmallint:
    case varInteger:
    case varShortInt:
    case varByte:
    case varWord:
    case varLongWord:
      return TKind::Int;
    case varInt64:
    case varUInt64:
      return TKind::Int64;
    case varSingle:
    case varDouble:
      return TKind::Float;
    case varCurrency:
      return TKind::Curr;
    case varDate:
      return TKind::Date;
    case varBoolean:
      return TKind::Bool;
    case varOleStr:
    case varUString:
    case varString:
      return TKind::Str;
    default:
      return IsCustomCode(T) && FindCustomVariantType(T) ? TKind::Custom : TKind::Other;
  }
}

const TCustomVariantType& CustomOf(const Variant& V) {
  const TCustomVariantType* T = FindCustomVariantType(V.VType());
  if (!T) BadVarType();
  return *T;
}

}  // namespace

// The scalar fields, read by the helpers below without friendship games.
struct TVariantAccess {
  static const Variant::TScalar& Scalar(const Variant& V) { return V.FV; }
  static const String& Str(const Variant& V) { return *static_cast<const String*>(V.FHeap); }
  static const AnsiString& Ansi(const Variant& V) { return *static_cast<const AnsiString*>(V.FHeap); }
  static const String* StrRef(const Variant& V) {
    return IsStringCode(V.FType) ? static_cast<const String*>(V.FHeap) : nullptr;
  }
  static TVarArrayData* Array(const Variant& V) {
    return (V.FType & varArray) ? static_cast<TVarArrayData*>(V.FHeap) : nullptr;
  }
  static Variant FromArray(TVarArrayData* Data) {
    Variant V;
    V.FType = static_cast<TVarType>(varArray | Data->ElemType);
    V.FHeap = Data;
    return V;
  }
  static Variant MakeNull() {
    Variant V;
    V.FType = varNull;
    return V;
  }
  static Variant FromDate(TDateTime D) {
    Variant V;
    V.FType = varDate;
    V.FV.VDouble = D;
    return V;
  }
  static Variant FromString(String&& S, TVarType T) {
    // The text moves into the variant's own string (no copy).
    Variant V;
    V.FHeap = new String(std::move(S));
    V.FType = T;  // varOleStr and varUString share the storage
    return V;
  }
  static Variant Custom(TVarType T, const void* Data, size_t Size) {
    Variant V;
    auto* Bytes = new TCustomBytes(Size);
    if (Size) std::memcpy(Bytes->data(), Data, Size);
    V.FType = T;
    V.FHeap = Bytes;
    return V;
  }
  static String* ReleaseStr(Variant& V) {
    if (!IsStringCode(V.FType) || !V.FHeap) return nullptr;
    auto* S = static_cast<String*>(V.FHeap);
    V.FHeap = nullptr;
    V.FType = varEmpty;
    return S;
  }
  static const TCustomBytes* CustomBytes(const Variant& V) {
    return IsCustomCode(V.FType) && V.FHeap ? static_cast<const TCustomBytes*>(V.FHeap) : nullptr;
  }
};

namespace {

using A = TVariantAccess;

// ---- Conversions -------------------------------------------------------------

String AsText(const Variant& V);

// Integer of V for the target type Dest (named in errors).
Int64 ToInt64(const Variant& V, TVarType Dest) {
  const auto& S = A::Scalar(V);
  switch (V.VType()) {
    case varEmpty:
      return 0;
    case varSmallint:
      return S.VSmallInt;
    case varInteger:
      return S.VInteger;
    case varShortInt:
      return S.VShortInt;
    case varByte:
      return S.VByte;
    case varWord:
      return S.VWord;
    case varLongWord:
      return S.VLongWord;
    case varInt64:
      return S.VInt64;
    case varUInt64:
      if (S.VUInt64 > static_cast<UInt64>(MaxInt64)) VarOverflowError(V.VType(), Dest);
      return static_cast<Int64>(S.VUInt64);
    case varBoolean:
      return S.VBoolean ? -1 : 0;
    case varCurrency: {
      // Round the scaled value to units, ties to even.
      Int64 Q = S.VCurrency / 10000, R = S.VCurrency % 10000;
      if (R > 5000 || (R == 5000 && (Q & 1)))
        ++Q;
      else if (R < -5000 || (R == -5000 && (Q & 1)))
        --Q;
      return Q;
    }
    case varSingle:
    case varDouble:
    case varDate: {
      double D = V.VType() == varSingle ? S.VSingle : S.VDouble;
      if (!(D >= -9223372036854775808.0 && D < 9223372036854775808.0)) VarOverflowError(V.VType(), Dest);
      double R = std::nearbyint(D);  // the default rounding mode: ties to even
      if (!(R >= -9223372036854775808.0 && R < 9223372036854775808.0)) VarOverflowError(V.VType(), Dest);
      return static_cast<Int64>(R);
    }
    default:
      break;
  }
  switch (KindOf(V.VType())) {
    case TKind::Str: {
      String T = AsText(V);
      Int64 I;
      if (TryStrToInt64(T, I)) return I;
      double D;
      if (TryStrToFloat(T, D)) return ToInt64(Variant(D), Dest);
      bool B;
      if (TryStrToBool(T, B)) return B ? -1 : 0;
      VarCastError(V.VType(), Dest);
    }
    case TKind::Custom:
      return ToInt64(CustomOf(V).CastTo(V, varInt64), Dest);
    default:
      VarCastError(V.VType(), Dest);
  }
}

Int64 ToRangedInt(const Variant& V, TVarType Dest, Int64 Lo, Int64 Hi) {
  Int64 I = ToInt64(V, Dest);
  if (I < Lo || I > Hi) VarOverflowError(V.VType(), Dest);
  return I;
}

UInt64 ToUInt64(const Variant& V) {
  if (V.VType() == varUInt64) return A::Scalar(V).VUInt64;
  if (V.VType() == varSingle || V.VType() == varDouble || V.VType() == varDate) {
    double D = std::nearbyint(V.VType() == varSingle ? A::Scalar(V).VSingle : A::Scalar(V).VDouble);
    if (!(D >= 0 && D < 18446744073709551616.0)) VarOverflowError(V.VType(), varUInt64);
    return static_cast<UInt64>(D);
  }
  Int64 I = ToInt64(V, varUInt64);
  if (I < 0) VarOverflowError(V.VType(), varUInt64);
  return static_cast<UInt64>(I);
}

double ToDouble(const Variant& V, TVarType Dest) {
  const auto& S = A::Scalar(V);
  switch (V.VType()) {
    case varEmpty:
      return 0;
    case varSingle:
      return S.VSingle;
    case varDouble:
    case varDate:
      return S.VDouble;
    case varCurrency:
      return Currency::FromRaw(S.VCurrency).ToDouble();
    case varUInt64:
      return static_cast<double>(S.VUInt64);
    default:
      break;
  }
  switch (KindOf(V.VType())) {
    case TKind::Int:
    case TKind::Int64:
    case TKind::Bool:
      return static_cast<double>(ToInt64(V, Dest));
    case TKind::Str: {
      String T = AsText(V);
      double D;
      if (TryStrToFloat(T, D)) return D;
      bool B;
      if (TryStrToBool(T, B)) return B ? -1 : 0;
      VarCastError(V.VType(), Dest);
    }
    case TKind::Custom:
      return ToDouble(CustomOf(V).CastTo(V, varDouble), Dest);
    default:
      VarCastError(V.VType(), Dest);
  }
}

Currency ToCurrency(const Variant& V) {
  const auto& S = A::Scalar(V);
  switch (KindOf(V.VType())) {
    case TKind::Empty:
      return Currency();
    case TKind::Curr:
      return Currency::FromRaw(S.VCurrency);
    case TKind::Int:
    case TKind::Int64:
    case TKind::Bool: {
      if (V.VType() == varUInt64 && S.VUInt64 > static_cast<UInt64>(MaxInt64))
        VarOverflowError(V.VType(), varCurrency);
      Int64 I = ToInt64(V, varCurrency);
      if (I > MaxInt64 / 10000 || I < MinInt64 / 10000) VarOverflowError(V.VType(), varCurrency);
      return Currency::FromRaw(I * 10000);
    }
    case TKind::Float:
    case TKind::Date: {
      Currency C;
      if (!TryFloatToCurr(ToDouble(V, varCurrency), C)) VarOverflowError(V.VType(), varCurrency);
      return C;
    }
    case TKind::Str: {
      String T = AsText(V);
      Currency C;
      if (TryStrToCurr(T, C)) return C;
      double D;
      if (TryStrToFloat(T, D)) VarOverflowError(V.VType(), varCurrency);
      bool B;
      if (TryStrToBool(T, B)) return Currency(B ? -1 : 0);
      VarCastError(V.VType(), varCurrency);
    }
    case TKind::Custom:
      return ToCurrency(CustomOf(V).CastTo(V, varCurrency));
    default:
      VarCastError(V.VType(), varCurrency);
  }
}

bool ToBoolean(const Variant& V) {
  const auto& S = A::Scalar(V);
  switch (KindOf(V.VType())) {
    case TKind::Empty:
      return false;
    case TKind::Bool:
      return S.VBoolean;
    case TKind::Int:
    case TKind::Int64:
      return V.VType() == varUInt64 ? S.VUInt64 != 0 : ToInt64(V, varBoolean) != 0;
    case TKind::Float:
    case TKind::Date:
      return ToDouble(V, varBoolean) != 0;
    case TKind::Curr:
      return S.VCurrency != 0;
    case TKind::Str: {
      bool B;
      if (TryStrToBool(AsText(V), B)) return B;
      VarCastError(V.VType(), varBoolean);
    }
    case TKind::Custom:
      return ToBoolean(CustomOf(V).CastTo(V, varBoolean));
    default:
      VarCastError(V.VType(), varBoolean);
  }
}

TDateTime ToDate(const Variant& V) {
  switch (KindOf(V.VType())) {
    case TKind::Str: {
      String T = AsText(V);
      TDateTime D;
      if (TryStrToDateTime(T, D)) return D;
      double F;
      if (TryStrToFloat(T, F)) return F;
      VarCastError(V.VType(), varDate);
    }
    case TKind::Custom:
      return ToDouble(CustomOf(V).CastTo(V, varDate), varDate);
    default:
      return ToDouble(V, varDate);
  }
}

String AsText(const Variant& V) {
  const auto& S = A::Scalar(V);
  switch (V.VType()) {
    case varEmpty:
      return String();
    case varOleStr:
    case varUString:
      return A::Str(V);
    case varString:
      return AnsiToString(A::Ansi(V));
    case varBoolean:
      return S.VBoolean ? u"True" : u"False";
    case varSingle:
      return FloatToStr(static_cast<double>(S.VSingle));
    case varDouble:
      return FloatToStr(S.VDouble);
    case varCurrency:
      return CurrToStr(Currency::FromRaw(S.VCurrency));
    case varDate:
      return DateTimeToStr(S.VDouble);
    case varUInt64:
      return IntToStr(S.VUInt64);
    default:
      break;
  }
  switch (KindOf(V.VType())) {
    case TKind::Int:
    case TKind::Int64:
      return IntToStr(ToInt64(V, varUString));
    case TKind::Custom:
      return CustomOf(V).CastTo(V, varUString).AsString();
    default:
      VarCastError(V.VType(), varUString);
  }
}

// ---- Comparison ---------------------------------------------------------------

enum class TOrder { Less, Equal, Greater };

template <class T>
TOrder OrderOf(const T& L, const T& R) {
  return L < R ? TOrder::Less : (R < L ? TOrder::Greater : TOrder::Equal);
}

TOrder OrderOfInt(int C) { return C < 0 ? TOrder::Less : (C > 0 ? TOrder::Greater : TOrder::Equal); }

// A 128-bit image of an integer-kind value (Boolean as -1/0), exact for UInt64.
__int128 WideInt(const Variant& V) {
  if (V.VType() == varUInt64) return static_cast<__int128>(A::Scalar(V).VUInt64);
  return ToInt64(V, varInt64);
}

// Neither is Null nor an array.
TOrder CompareValues(const Variant& L0, const Variant& R0) {
  TKind KL = KindOf(L0.VType()), KR = KindOf(R0.VType());
  if (KL == TKind::Other || KR == TKind::Other) VarInvalidOp();
  if (KL == TKind::Empty && KR == TKind::Empty) return TOrder::Equal;
  if (KL == TKind::Custom || KR == TKind::Custom) {
    const TCustomVariantType& T = KL == TKind::Custom ? CustomOf(L0) : CustomOf(R0);
    Variant L = L0.VType() == T.VarType() ? L0 : T.Cast(L0);
    Variant R = R0.VType() == T.VarType() ? R0 : T.Cast(R0);
    return OrderOfInt(T.Compare(L, R));
  }
  // Empty is the zero of the other operand's kind.
  Variant L = L0, R = R0;
  if (KL == TKind::Empty)
    L = KR == TKind::Str ? Variant(String()) : KR == TKind::Bool ? Variant(false) : Variant(0);
  if (KR == TKind::Empty)
    R = KL == TKind::Str ? Variant(String()) : KL == TKind::Bool ? Variant(false) : Variant(0);
  KL = KindOf(L.VType());
  KR = KindOf(R.VType());

  if (KL == TKind::Str && KR == TKind::Str) {
    if (L.VType() == varString && R.VType() == varString) return OrderOfInt(A::Ansi(L).compare(A::Ansi(R)));
    return OrderOfInt(AsText(L).compare(AsText(R)));
  }
  if (KL == TKind::Bool && KR == TKind::Bool)  // as numbers, True = -1: True before False
    return OrderOf(-static_cast<int>(A::Scalar(L).VBoolean), -static_cast<int>(A::Scalar(R).VBoolean));
  if (KL == TKind::Str || KR == TKind::Str) {
    TKind Other = KL == TKind::Str ? KR : KL;
    if (Other == TKind::Bool) return OrderOf(-static_cast<int>(ToBoolean(L)), -static_cast<int>(ToBoolean(R)));
    if (Other == TKind::Date) return OrderOf(ToDate(L), ToDate(R));
    if (Other == TKind::Int || Other == TKind::Int64) {  // integer text compares exactly
      Int64 I;
      if (TryStrToInt64(AsText(KL == TKind::Str ? L : R), I))
        return KL == TKind::Str ? OrderOf(static_cast<__int128>(I), WideInt(R))
                                : OrderOf(WideInt(L), static_cast<__int128>(I));
    }
    return OrderOf(ToDouble(L, varDouble), ToDouble(R, varDouble));
  }
  auto IsIntKind = [](TKind K) { return K == TKind::Int || K == TKind::Int64 || K == TKind::Bool; };
  if (IsIntKind(KL) && IsIntKind(KR)) return OrderOf(WideInt(L), WideInt(R));
  if ((KL == TKind::Curr || IsIntKind(KL)) && (KR == TKind::Curr || IsIntKind(KR))) {
    auto Scaled = [](const Variant& V) {
      return V.VType() == varCurrency ? static_cast<__int128>(A::Scalar(V).VCurrency) : WideInt(V) * 10000;
    };
    return OrderOf(Scaled(L), Scaled(R));
  }
  double DL = ToDouble(L, varDouble), DR = ToDouble(R, varDouble);
  return DL < DR ? TOrder::Less : (DL == DR ? TOrder::Equal : TOrder::Greater);
}

void CheckNotArray(const Variant& L, const Variant& R) {
  if (VarIsArray(L) || VarIsArray(R)) VarInvalidOp();
}

// ---- Arithmetic ------------------------------------------------------------------

Variant FitInteger(Int64 I) {
  if (I >= INT32_MIN && I <= INT32_MAX) return Variant(static_cast<Integer>(I));
  return Variant(I);
}

[[noreturn]] void ZeroDivide() { throw EZeroDivide(u"Floating point division by zero"); }

// A string operand as a number fit for the other operand.
Variant StrAsNumber(const Variant& S, TKind Other) {
  if (Other == TKind::Date) return VarFromDateTime(ToDate(S));
  if (Other == TKind::Curr) return Variant(ToCurrency(S));
  return Variant(ToDouble(S, varDouble));
}

Variant Arith(const Variant& L0, const Variant& R0, TVarOp Op) {
  CheckNotArray(L0, R0);
  if (VarIsNull(L0) || VarIsNull(R0)) return Null();
  TKind KL = KindOf(L0.VType()), KR = KindOf(R0.VType());
  if (KL == TKind::Other || KR == TKind::Other) VarInvalidOp();
  if (KL == TKind::Custom) return CustomOf(L0).BinaryOp(L0, R0, Op);
  if (KR == TKind::Custom) return CustomOf(R0).BinaryOp(L0, R0, Op);

  if (Op == opAdd && (KL == TKind::Str || KR == TKind::Str) && (KL == TKind::Str || KL == TKind::Empty) &&
      (KR == TKind::Str || KR == TKind::Empty)) {
    if (KL == TKind::Empty) return R0;
    if (KR == TKind::Empty) return L0;
    if (L0.VType() == varString && R0.VType() == varString) return Variant(A::Ansi(L0) + A::Ansi(R0));
    TVarType T = L0.VType() == varOleStr && R0.VType() == varOleStr ? varOleStr : varUString;
    return A::FromString(AsText(L0) + AsText(R0), T);
  }

  Variant L = KL == TKind::Empty ? Variant(0) : L0;
  Variant R = KR == TKind::Empty ? Variant(0) : R0;
  if (KL == TKind::Bool) L = Variant(static_cast<Integer>(ToInt64(L, varInteger)));
  if (KR == TKind::Bool) R = Variant(static_cast<Integer>(ToInt64(R, varInteger)));
  KL = KindOf(L.VType());
  KR = KindOf(R.VType());
  if (KL == TKind::Str && KR == TKind::Str) {
    L = Variant(ToDouble(L, varDouble));
    R = Variant(ToDouble(R, varDouble));
  } else if (KL == TKind::Str) {
    L = StrAsNumber(L, KR);
  } else if (KR == TKind::Str) {
    R = StrAsNumber(R, KL);
  }
  KL = KindOf(L.VType());
  KR = KindOf(R.VType());
  auto Any = [&](TKind K) { return KL == K || KR == K; };

  bool HasDate = Any(TKind::Date), HasFloat = Any(TKind::Float), HasCurr = Any(TKind::Curr);
  if (Op == opDivide) {
    if (HasCurr && !HasDate && !HasFloat) {
      Currency D = ToCurrency(R);
      if (D.Raw() == 0) ZeroDivide();
      return Variant(ToCurrency(L) / D);
    }
    double D = ToDouble(R, varDouble);
    if (D == 0) ZeroDivide();
    return Variant(ToDouble(L, varDouble) / D);
  }
  if (HasDate || HasFloat) {
    double X = ToDouble(L, varDouble), Y = ToDouble(R, varDouble);
    double Z = Op == opAdd ? X + Y : Op == opSubtract ? X - Y : X * Y;
    // Date plus or minus a number stays a date; the difference of two dates is a number.
    if (HasDate && Op != opMultiply && !(Op == opSubtract && KL == TKind::Date && KR == TKind::Date))
      return VarFromDateTime(Z);
    return Variant(Z);
  }
  if (HasCurr) {
    Currency X = ToCurrency(L), Y = ToCurrency(R);
    return Variant(Op == opAdd ? X + Y : Op == opSubtract ? X - Y : X * Y);
  }
  Int64 X = ToInt64(L, varInt64), Y = ToInt64(R, varInt64), Z = 0;
  bool Overflow = Op == opAdd        ? __builtin_add_overflow(X, Y, &Z)
                  : Op == opSubtract ? __builtin_sub_overflow(X, Y, &Z)
                                     : __builtin_mul_overflow(X, Y, &Z);
  if (Overflow) VarOverflowError(varInt64, varInt64);
  if (Any(TKind::Int64)) return Variant(Z);
  return FitInteger(Z);
}

Variant IntOp(const Variant& L, const Variant& R, TVarOp Op) {
  CheckNotArray(L, R);
  if (VarIsNull(L) || VarIsNull(R)) return Null();
  Int64 X = ToInt64(L, varInt64), Y = ToInt64(R, varInt64);
  if (Y == 0) throw EDivByZero(u"Division by zero");
  Int64 Z;
  if (Op == opIntDivide) {
    if (X == MinInt64 && Y == -1) VarOverflowError(varInt64, varInt64);
    Z = X / Y;
  } else {
    Z = Y == -1 ? 0 : X % Y;
  }
  bool Wide = KindOf(L.VType()) == TKind::Int64 || KindOf(R.VType()) == TKind::Int64;
  return Wide ? Variant(Z) : FitInteger(Z);
}

TVarType CheckedType(TVarType T) {
  if (T & varByRef) BadVarType();
  return T;
}

}  // namespace

// ---- Variant: life cycle ---------------------------------------------------------

void Variant::Release() {
  if (!FHeap) return;
  if (FType & varArray)
    delete static_cast<TVarArrayData*>(FHeap);
  else if (IsStringCode(FType))
    delete static_cast<String*>(FHeap);
  else if (FType == varString)
    delete static_cast<AnsiString*>(FHeap);
  else
    delete static_cast<TCustomBytes*>(FHeap);
  FHeap = nullptr;
}

void Variant::CopyFrom(const Variant& Source) {
  void* Heap = nullptr;
  if (Source.FHeap) {
    if (Source.FType & varArray) {
      auto* Copy = new TVarArrayData(*static_cast<const TVarArrayData*>(Source.FHeap));
      Copy->LockCount = 0;
      Heap = Copy;
    } else if (IsStringCode(Source.FType)) {
      Heap = new String(*static_cast<const String*>(Source.FHeap));
    } else if (Source.FType == varString) {
      Heap = new AnsiString(*static_cast<const AnsiString*>(Source.FHeap));
    } else {
      Heap = new TCustomBytes(*static_cast<const TCustomBytes*>(Source.FHeap));
    }
  }
  Release();
  FType = Source.FType;
  FV = Source.FV;
  FHeap = Heap;
}

Variant::Variant(const Variant& Source) { CopyFrom(Source); }

Variant::Variant(Variant&& Source) noexcept : FType(Source.FType), FV(Source.FV), FHeap(Source.FHeap) {
  Source.FType = varEmpty;
  Source.FV.VInt64 = 0;
  Source.FHeap = nullptr;
}

namespace {
void CheckUnlocked(const Variant& V) {
  if (TVarArrayData* Data = TVariantAccess::Array(V); Data && Data->LockCount > 0) ArrayLocked();
}
}  // namespace

Variant& Variant::operator=(const Variant& Source) {
  if (this != &Source) {
    CheckUnlocked(*this);
    CopyFrom(Source);
  }
  return *this;
}

Variant& Variant::operator=(Variant&& Source) {
  if (this != &Source) {
    CheckUnlocked(*this);
    Release();
    FType = Source.FType;
    FV = Source.FV;
    FHeap = Source.FHeap;
    Source.FType = varEmpty;
    Source.FV.VInt64 = 0;
    Source.FHeap = nullptr;
  }
  return *this;
}

Variant::~Variant() { Release(); }

Variant::Variant(bool Value) noexcept : FType(varBoolean) { FV.VBoolean = Value; }
Variant::Variant(ShortInt Value) noexcept : FType(varShortInt) { FV.VShortInt = Value; }
Variant::Variant(Byte Value) noexcept : FType(varByte) { FV.VByte = Value; }
Variant::Variant(SmallInt Value) noexcept : FType(varSmallint) { FV.VSmallInt = Value; }
Variant::Variant(Word Value) noexcept : FType(varWord) { FV.VWord = Value; }
Variant::Variant(Integer Value) noexcept : FType(varInteger) { FV.VInteger = Value; }
Variant::Variant(Cardinal Value) noexcept : FType(varLongWord) { FV.VLongWord = Value; }
Variant::Variant(Int64 Value) noexcept : FType(varInt64) { FV.VInt64 = Value; }
Variant::Variant(UInt64 Value) noexcept : FType(varUInt64) { FV.VUInt64 = Value; }
Variant::Variant(Single Value) noexcept : FType(varSingle) { FV.VSingle = Value; }
Variant::Variant(Double Value) noexcept : FType(varDouble) { FV.VDouble = Value; }
Variant::Variant(Currency Value) noexcept : FType(varCurrency) { FV.VCurrency = Value.Raw(); }
Variant::Variant(Char Value) : FType(varUString), FHeap(new String(1, Value)) {}
Variant::Variant(AnsiChar Value) : FType(varString), FHeap(new AnsiString(1, Value)) {}
Variant::Variant(const String& Value) : FType(varUString), FHeap(new String(Value)) {}
Variant::Variant(const char16_t* Value) : FType(varUString), FHeap(new String(Value ? Value : u"")) {}
Variant::Variant(const AnsiString& Value) : FType(varString), FHeap(new AnsiString(Value)) {}
Variant::Variant(const char* Value) : FType(varString), FHeap(new AnsiString(Value ? Value : "")) {}

Variant Variant::CreateCustom(TVarType AType, const void* Data, size_t Size) {
  if (!IsCustomCode(AType)) BadVarType();
  const TCustomVariantType* T = FindCustomVariantType(AType);
  if (!T) BadVarType();
  if (!Data || Size != T->DataSize())
    throw EVariantInvalidArgError(u"Invalid argument: a " + T->Name() + u" value needs a record of its own size");
  return A::Custom(AType, Data, Size);
}

const void* Variant::CustomData() const {
  const TCustomBytes* B = A::CustomBytes(*this);
  return B ? B->data() : nullptr;
}

size_t Variant::CustomDataSize() const {
  const TCustomBytes* B = A::CustomBytes(*this);
  return B ? B->size() : 0;
}

// ---- Variant: conversions -----------------------------------------------------------

Integer Variant::AsInteger() const {
  if (FType == varNull) VarCastError(varNull, varInteger);
  return static_cast<Integer>(ToRangedInt(*this, varInteger, INT32_MIN, INT32_MAX));
}

Int64 Variant::AsInt64() const {
  if (FType == varNull) VarCastError(varNull, varInt64);
  return ToInt64(*this, varInt64);
}

Double Variant::AsDouble() const {
  if (FType == varNull) VarCastError(varNull, varDouble);
  return ToDouble(*this, varDouble);
}

Currency Variant::AsCurrency() const {
  if (FType == varNull) VarCastError(varNull, varCurrency);
  return ToCurrency(*this);
}

Boolean Variant::AsBoolean() const {
  if (FType == varNull) VarCastError(varNull, varBoolean);
  return ToBoolean(*this);
}

TDateTime Variant::AsDateTime() const {
  if (FType == varNull) VarCastError(varNull, varDate);
  return ToDate(*this);
}

String Variant::AsString() const {
  if (FType == varNull) VarCastError(varNull, varUString);
  return AsText(*this);
}

AnsiString Variant::AsAnsiString() const {
  if (FType == varNull) VarCastError(varNull, varString);
  if (FType == varString) return A::Ansi(*this);
  return StringToAnsi(AsText(*this));
}

// ---- Variant: arrays ----------------------------------------------------------------

namespace {
TVarArrayData& ArrayOf(const Variant& V) {
  TVarArrayData* Data = A::Array(V);
  if (!Data) InvalidArg();
  return *Data;
}

size_t Slot(const TVarArrayData& Data, Integer Index) {
  Int64 I = static_cast<Int64>(Index) - Data.Low;
  if (I < 0 || I >= Data.Count()) BadIndex();
  return static_cast<size_t>(I);
}
}  // namespace

Variant Variant::GetElement(Integer Index) const {
  const TVarArrayData& Data = ArrayOf(*this);
  size_t I = Slot(Data, Index);
  if (Data.ElemType == varByte) return Variant(Data.Bytes[I]);
  return Data.Items[I];
}

void Variant::SetElement(Integer Index, const Variant& Value) {
  TVarArrayData& Data = ArrayOf(*this);
  size_t I = Slot(Data, Index);
  if (Data.ElemType == varByte) {
    Data.Bytes[I] = static_cast<Byte>(ToRangedInt(Value, varByte, 0, 255));
  } else if (Data.ElemType == varVariant) {
    Data.Items[I] = Value;
  } else {
    Data.Items[I] = VarAsType(Value, Data.ElemType);
  }
}

// ---- Operators ----------------------------------------------------------------------

bool operator==(const Variant& L, const Variant& R) {
  CheckNotArray(L, R);
  if (VarIsNull(L) || VarIsNull(R)) return VarIsNull(L) && VarIsNull(R);
  return CompareValues(L, R) == TOrder::Equal;
}

bool operator<(const Variant& L, const Variant& R) {
  CheckNotArray(L, R);
  if (VarIsNull(L) || VarIsNull(R)) return VarIsNull(L) && !VarIsNull(R);
  return CompareValues(L, R) == TOrder::Less;
}

bool operator<=(const Variant& L, const Variant& R) {
  CheckNotArray(L, R);
  if (VarIsNull(L) || VarIsNull(R)) return VarIsNull(L);
  return CompareValues(L, R) != TOrder::Greater;
}

Variant operator+(const Variant& L, const Variant& R) { return Arith(L, R, opAdd); }
Variant operator-(const Variant& L, const Variant& R) { return Arith(L, R, opSubtract); }
Variant operator*(const Variant& L, const Variant& R) { return Arith(L, R, opMultiply); }
Variant operator/(const Variant& L, const Variant& R) { return Arith(L, R, opDivide); }
Variant VarIntDiv(const Variant& L, const Variant& R) { return IntOp(L, R, opIntDivide); }
Variant VarMod(const Variant& L, const Variant& R) { return IntOp(L, R, opModulus); }

Variant operator-(const Variant& V) {
  const auto& S = A::Scalar(V);
  switch (KindOf(V.VType())) {
    case TKind::Null:
      return V;
    case TKind::Empty:
      return Variant(0);
    case TKind::Int:
    case TKind::Bool:
      return FitInteger(-ToInt64(V, varInteger));
    case TKind::Int64: {
      Int64 I = ToInt64(V, varInt64);
      if (I == MinInt64) VarOverflowError(V.VType(), varInt64);
      return Variant(-I);
    }
    case TKind::Float:
      return V.VType() == varSingle ? Variant(-S.VSingle) : Variant(-S.VDouble);
    case TKind::Curr:
      return Variant(-Currency::FromRaw(S.VCurrency));
    case TKind::Date:
      return VarFromDateTime(-S.VDouble);
    case TKind::Str:
      return Variant(-ToDouble(V, varDouble));
    case TKind::Custom:
      return CustomOf(V).UnaryOp(V, opNegate);
    default:
      VarInvalidOp();
  }
}

// ---- Free functions ------------------------------------------------------------------

Variant Unassigned() { return Variant(); }

Variant Null() { return A::MakeNull(); }

Variant VarFromDateTime(TDateTime Value) { return A::FromDate(Value); }

void VarClear(Variant& V) { V = Variant(); }

TVarType VarType(const Variant& V) { return V.VType(); }
bool VarIsNull(const Variant& V) { return V.VType() == varNull; }
bool VarIsEmpty(const Variant& V) { return V.VType() == varEmpty; }
bool VarIsClear(const Variant& V) { return V.VType() == varEmpty; }
bool VarIsArray(const Variant& V) { return (V.VType() & varArray) != 0; }
bool VarIsStr(const Variant& V) { return KindOf(V.VType()) == TKind::Str; }
bool VarIsCustom(const Variant& V) { return KindOf(V.VType()) == TKind::Custom; }

bool VarIsOrdinal(const Variant& V) {
  TKind K = KindOf(V.VType());
  return K == TKind::Int || K == TKind::Int64 || K == TKind::Bool;
}

bool VarIsFloat(const Variant& V) {
  TVarType T = V.VType();
  return T == varSingle || T == varDouble || T == varCurrency;
}

bool VarIsNumeric(const Variant& V) { return VarIsOrdinal(V) || VarIsFloat(V); }

bool VarIsType(const Variant& V, TVarType AVarType) { return V.VType() == AVarType; }

String VarTypeAsText(TVarType AVarType) {
  static const char16_t* const Names[] = {
      u"Empty",    u"Null",     u"Smallint", u"Integer",  u"Single",  u"Double",  u"Currency", u"Date",
      u"OleStr",   u"Dispatch", u"Error",    u"Boolean",  u"Variant", u"Unknown", u"Decimal",  u"$000F",
      u"ShortInt", u"Byte",     u"Word",     u"LongWord", u"Int64",   u"UInt64"};
  TVarType Base = AVarType & varTypeMask;
  String Result;
  if (Base < std::size(Names)) {
    Result = Names[Base];
  } else if (Base == varString) {
    Result = u"String";
  } else if (Base == 0x0101) {
    Result = u"Any";
  } else if (Base == varUString) {
    Result = u"UnicodeString";
  } else if (const TCustomVariantType* T = FindCustomVariantType(Base)) {
    Result = T->Name();
  } else {
    Result = u"$" + IntToHex(static_cast<Integer>(Base), 4);
  }
  if (AVarType & varArray) Result = u"Array " + Result;
  if (AVarType & varByRef) Result = u"Ref " + Result;
  return Result;
}

Variant VarAsType(const Variant& V, TVarType AVarType) {
  CheckedType(AVarType);
  if (V.VType() == AVarType || AVarType == varVariant) return V;
  if (AVarType == varEmpty) return Variant();
  if (AVarType == varNull) return A::MakeNull();
  if (VarIsNull(V) || VarIsArray(V) || (AVarType & varArray)) VarCastError(V.VType(), AVarType);
  switch (AVarType) {
    case varSmallint:
      return Variant(static_cast<SmallInt>(ToRangedInt(V, AVarType, INT16_MIN, INT16_MAX)));
    case varInteger:
      return Variant(static_cast<Integer>(ToRangedInt(V, AVarType, INT32_MIN, INT32_MAX)));
    case varShortInt:
      return Variant(static_cast<ShortInt>(ToRangedInt(V, AVarType, INT8_MIN, INT8_MAX)));
    case varByte:
      return Variant(static_cast<Byte>(ToRangedInt(V, AVarType, 0, UINT8_MAX)));
    case varWord:
      return Variant(static_cast<Word>(ToRangedInt(V, AVarType, 0, UINT16_MAX)));
    case varLongWord:
      return Variant(static_cast<Cardinal>(ToRangedInt(V, AVarType, 0, UINT32_MAX)));
    case varInt64:
      return Variant(ToInt64(V, AVarType));
    case varUInt64:
      return Variant(ToUInt64(V));
    case varSingle: {
      double D = ToDouble(V, AVarType);
      if (std::isfinite(D) && std::fabs(D) > FLT_MAX) VarOverflowError(V.VType(), AVarType);
      return Variant(static_cast<Single>(D));
    }
    case varDouble:
      return Variant(ToDouble(V, AVarType));
    case varCurrency:
      return Variant(ToCurrency(V));
    case varDate:
      return VarFromDateTime(ToDate(V));
    case varBoolean:
      return Variant(ToBoolean(V));
    case varOleStr:
    case varUString:
      return A::FromString(AsText(V), AVarType);
    case varString:
      return Variant(V.AsAnsiString());
    default:
      break;
  }
  if (const TCustomVariantType* T = FindCustomVariantType(AVarType)) return T->Cast(V);
  if (AVarType == varDispatch || AVarType == varUnknown || AVarType == varError)
    VarCastError(V.VType(), AVarType);
  BadVarType();
}

String VarToStr(const Variant& V) { return VarToStrDef(V, String()); }

String VarToStrDef(const Variant& V, const String& Default) {
  if (VarIsNull(V)) return Default;
  return V.AsString();
}

TDateTime VarToDateTime(const Variant& V) { return V.AsDateTime(); }

TVariantRelationship VarCompareValue(const Variant& L, const Variant& R) {
  if (VarIsEmpty(L)) return VarIsEmpty(R) ? vrEqual : vrNotEqual;
  if (VarIsNull(L)) return VarIsNull(R) ? vrEqual : vrNotEqual;
  if (VarIsEmpty(R) || VarIsNull(R)) return vrNotEqual;
  CheckNotArray(L, R);
  switch (CompareValues(L, R)) {
    case TOrder::Equal:
      return vrEqual;
    case TOrder::Less:
      return vrLessThan;
    default:
      return vrGreaterThan;
  }
}

// ---- Arrays --------------------------------------------------------------------------

Variant VarArrayCreate(std::initializer_list<Integer> Bounds, TVarType AVarType) {
  if (Bounds.size() != 2) ArrayCreateError();  // one dimension: {Low, High}
  Integer Lo = Bounds.begin()[0], Hi = Bounds.begin()[1];
  Int64 Count = static_cast<Int64>(Hi) - Lo + 1;
  if (Count < 0) ArrayCreateError();
  switch (AVarType) {
    case varSmallint:
    case varInteger:
    case varSingle:
    case varDouble:
    case varCurrency:
    case varDate:
    case varOleStr:
    case varBoolean:
    case varVariant:
    case varShortInt:
    case varByte:
    case varWord:
    case varLongWord:
    case varInt64:
    case varUInt64:
      break;
    default:
      ArrayCreateError();
  }
  auto* Data = new TVarArrayData;
  Data->Low = Lo;
  Data->ElemType = AVarType;
  Variant Result = A::FromArray(Data);  // owns Data from here on
  try {
    if (AVarType == varByte) {
      Data->Bytes.assign(static_cast<size_t>(Count), 0);
    } else {
      Variant Zero = AVarType == varVariant ? Variant() : VarAsType(Variant(0), AVarType);
      if (AVarType == varOleStr) Zero = A::FromString(String(), varOleStr);
      Data->Items.assign(static_cast<size_t>(Count), Zero);
    }
  } catch (const std::bad_alloc&) {
    ArrayCreateError();
  }
  return Result;
}

Variant VarArrayOf(std::initializer_list<Variant> Values) {
  Variant Result = VarArrayCreate({0, static_cast<Integer>(Values.size()) - 1}, varVariant);
  TVarArrayData* Data = A::Array(Result);
  std::copy(Values.begin(), Values.end(), Data->Items.begin());
  return Result;
}

Integer VarArrayDimCount(const Variant& V) { return VarIsArray(V) ? 1 : 0; }

Integer VarArrayLowBound(const Variant& V, Integer Dim) {
  const TVarArrayData& Data = ArrayOf(V);
  if (Dim != 1) BadIndex();
  return Data.Low;
}

Integer VarArrayHighBound(const Variant& V, Integer Dim) {
  const TVarArrayData& Data = ArrayOf(V);
  if (Dim != 1) BadIndex();
  return static_cast<Integer>(static_cast<Int64>(Data.Low) + Data.Count() - 1);
}

Variant VarArrayGet(const Variant& V, std::initializer_list<Integer> Indices) {
  if (Indices.size() != 1) BadIndex();
  return V.GetElement(*Indices.begin());
}

void VarArrayPut(Variant& V, const Variant& Value, std::initializer_list<Integer> Indices) {
  if (Indices.size() != 1) BadIndex();
  V.SetElement(*Indices.begin(), Value);
}

void* VarArrayLock(Variant& V) {
  TVarArrayData& Data = ArrayOf(V);
  ++Data.LockCount;
  return Data.ElemType == varByte ? static_cast<void*>(Data.Bytes.data())
                                  : static_cast<void*>(Data.Items.data());
}

void VarArrayUnlock(Variant& V) {
  TVarArrayData& Data = ArrayOf(V);
  if (Data.LockCount == 0) InvalidArg();
  --Data.LockCount;
}

// ---- Custom types ---------------------------------------------------------------------

TCustomVariantType::TCustomVariantType(const String& AName) : FName(AName) {
  TCustomRegistry& R = Registry();
  std::lock_guard<std::mutex> Guard(R.Lock);
  if (R.Types.size() > static_cast<size_t>(varTypeMask - varFirstCustom)) BadVarType();
  FVarType = static_cast<TVarType>(varFirstCustom + R.Types.size());
  R.Types.push_back(this);
}

Variant TCustomVariantType::BinaryOp(const Variant&, const Variant&, TVarOp) const { VarInvalidOp(); }
Variant TCustomVariantType::UnaryOp(const Variant&, TVarOp) const { VarInvalidOp(); }

const TCustomVariantType* FindCustomVariantType(TVarType AVarType) {
  if (!IsCustomCode(AVarType)) return nullptr;
  TCustomRegistry& R = Registry();
  std::lock_guard<std::mutex> Guard(R.Lock);
  size_t I = AVarType - varFirstCustom;
  return I < R.Types.size() ? R.Types[I] : nullptr;
}

void VarCastError(TVarType Source, TVarType Dest) {
  throw EVariantTypeCastError(u"Could not convert variant of type (" + VarTypeAsText(Source) +
                              u") into type (" + VarTypeAsText(Dest) + u")");
}

void VarOverflowError(TVarType Source, TVarType Dest) {
  throw EVariantOverflowError(u"Overflow while converting variant of type (" + VarTypeAsText(Source) +
                              u") into type (" + VarTypeAsText(Dest) + u")");
}

void VarInvalidOp() { throw EVariantInvalidOpError(u"Invalid variant operation"); }

String* VarReleaseStr(Variant& V) { return TVariantAccess::ReleaseStr(V); }
Variant VarFromStr(String&& S) { return TVariantAccess::FromString(std::move(S), varUString); }
const String* VarStrRef(const Variant& V) {
  return TVariantAccess::StrRef(V);
}
