#include "lib/foundation/vlVariants.h"

#include <cmath>
#include <cstring>

#include "lib/foundation/nbCore.h"
#include "platform/classes/Streams.h"
#include "platform/rtl/CodePages.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/FMTBcd.h"
#include "platform/rtl/Numbers.h"
#include "platform/rtl/SqlTimSt.h"
#include "platform/rtl/VariantTexts.h"
#include "platform/rtl/Variants.h"

CL_IMPLEMENT_CLASS(TvlFiler)
CL_IMPLEMENT_CLASS(TvlReader)
CL_IMPLEMENT_CLASS(TvlWriter)

const TResStringRec vlSDataReadError = ResStringOfText(u"Stream read error");
const TResStringRec vlSDataWriteError = ResStringOfText(u"Stream write error");

namespace {

// Tags of the tagged variant form.
enum : Byte {
  tagNull = 0,
  tagArray = 1,
  tagInt8 = 2,
  tagInt16 = 3,
  tagInt32 = 4,
  tagExtended = 5,
  tagShortAnsi = 6,
  tagFalse = 8,
  tagTrue = 9,
  tagLongAnsi = 12,
  tagEmpty = 13,
  tagSingle = 15,
  tagCurrency = 16,
  tagDate = 17,
  tagWide = 18,
  tagInt64 = 19,
};

// Arrays nest at most this deep in a stream read (each level recurses).
constexpr Integer kMaxArrayDepth = 64;

[[noreturn]] void ReadError() { throw EReadError(LoadResString(vlSDataReadError)); }
[[noreturn]] void WriteError() { throw EWriteError(LoadResString(vlSDataWriteError)); }

Int64 BytesLeft(TStream* AStream) {
  Int64 Left = AStream->Size() - AStream->Position();
  return Left > 0 ? Left : 0;
}

template <typename T>
T ReadLE(TStream* AStream) {
  Byte Bytes[sizeof(T)];
  AStream->ReadBuffer(Bytes, sizeof(T));
  UInt64 Bits = 0;
  for (size_t I = sizeof(T); I-- > 0;) Bits = (Bits << 8) | Bytes[I];
  T Value;
  if constexpr (sizeof(T) == 8) {
    std::memcpy(&Value, &Bits, 8);
  } else {
    auto Narrow = static_cast<
        std::conditional_t<sizeof(T) == 4, uint32_t, std::conditional_t<sizeof(T) == 2, uint16_t, uint8_t>>>(
        Bits);
    std::memcpy(&Value, &Narrow, sizeof(T));
  }
  return Value;
}

template <typename T>
void WriteLE(TStream* AStream, T Value) {
  UInt64 Bits = 0;
  std::memcpy(&Bits, &Value, sizeof(T));
  Byte Bytes[sizeof(T)];
  for (size_t I = 0; I < sizeof(T); ++I) Bytes[I] = static_cast<Byte>(Bits >> (8 * I));
  AStream->WriteBuffer(Bytes, sizeof(T));
}

// A count read from the stream, checked against the bytes left (each unit
// takes UnitSize bytes).
Integer CheckedCount(TStream* AStream, Integer Count, Integer UnitSize) {
  if (Count < 0 || static_cast<Int64>(Count) * UnitSize > BytesLeft(AStream)) ReadError();
  return Count;
}

Boolean IsConversionError(const Exception& E) {
  return dynamic_cast<const EVariantTypeCastError*>(&E) || dynamic_cast<const EVariantOverflowError*>(&E);
}

// --- The order of scalar values ------------------------------------------------------
//
// A strict weak order over every mix of kinds, so that any sort of mixed
// values is consistent: numbers (integers, Boolean as -1/0, currency, floats,
// dates, FMTBcd, SQL time stamps) compare by their exact value, a NaN before
// every other number; text compares as UTF-16 text; numbers come before text
// and text before the remaining kinds, which order by type code. A text is
// never converted to a number here: "10" < "9" as texts, while "9" < 10 and
// 10 = "10" by conversion would make a cycle.

enum TScalarClass { scNumber, scText, scOther };

// One number: an exact value scaled by 10,000 (integers, Boolean, currency,
// decimals that money holds) or a double (floats, dates, SQL time stamps,
// other decimals). Exact values and doubles compare by their exact value.
struct TNumberKey {
  enum { nkExact, nkFloat } Kind;
  __int128 Exact{};
  Double Float{};
};

TScalarClass ClassOfScalar(TVarType T) {
  switch (T) {
    case varSmallint:
    case varInteger:
    case varSingle:
    case varDouble:
    case varCurrency:
    case varDate:
    case varBoolean:
    case varShortInt:
    case varByte:
    case varWord:
    case varLongWord:
    case varInt64:
    case varUInt64:
      return scNumber;
    case varOleStr:
    case varString:
    case varUString:
      return scText;
    default:
      return T == VarFMTBcd() || T == VarSQLTimeStamp() ? scNumber : scOther;
  }
}

TNumberKey NumberKeyOf(const Variant& V) {
  TNumberKey K{TNumberKey::nkExact};
  switch (VarType(V)) {
    case varSingle:
    case varDouble:
    case varDate:
      K.Kind = TNumberKey::nkFloat;
      K.Float = V.AsDouble();
      return K;
    case varCurrency:
      K.Exact = V.AsCurrency().Raw();
      return K;
    case varBoolean:
      K.Exact = V.AsBoolean() ? -10000 : 0;
      return K;
    case varUInt64:
      K.Exact = static_cast<__int128>(static_cast<UInt64>(V.AsInt64())) * 10000;
      return K;
    default:
      break;
  }
  if (VarIsFMTBcd(V)) {
    // A decimal that money holds exactly is that exact value; any other
    // (more than four decimals, beyond money's range) its nearest double.
    const TBcd B = VarToBcd(V);
    Currency C;
    TBcd Back;
    if (BCDToCurr(B, C) && CurrToBCD(C, Back) && BcdCompare(B, Back) == 0) {
      K.Exact = C.Raw();
    } else {
      K.Kind = TNumberKey::nkFloat;
      K.Float = BcdToDouble(B);
    }
  } else if (VarType(V) == VarSQLTimeStamp()) {
    K.Kind = TNumberKey::nkFloat;
    K.Float = SQLTimeStampToDateTime(VarToSQLTimeStamp(V));
  } else {
    K.Exact = static_cast<__int128>(V.AsInt64()) * 10000;
  }
  return K;
}

Integer Sign128(__int128 V) { return V < 0 ? -1 : (V > 0 ? 1 : 0); }

// An exact value N / 10000 against a double D (not NaN), without rounding.
Integer CompareExactFloat(__int128 N, Double D) {
  if (std::isinf(D) || std::fabs(D) >= 0x1p100) return D > 0 ? -1 : 1;
  const Double T = std::trunc(D);
  const Double F = D - T;  // exact, |F| < 1, the sign of D
  const __int128 Q = N - static_cast<__int128>(T) * 10000;
  if (Q >= 10000) return 1;
  if (Q <= -10000) return -1;
  if (F == 0) return Sign128(Q);
  // Q against F * 10000 with F = M * 2^E exactly (M a 53-bit integer).
  int E;
  const Double Frac = std::frexp(F, &E);
  const __int128 M = static_cast<__int128>(std::ldexp(Frac, 53));
  const int Shift = 53 - E;  // F = M / 2^Shift, Shift > 0 since |F| < 1
  if (Shift > 100) return Q != 0 ? Sign128(Q) : (F > 0 ? -1 : 1);  // |F * 10000| < 2^-33
  return Sign128((Q << Shift) - M * 10000);
}

Integer CompareFloats(Double A, Double B) {
  const Boolean NA = std::isnan(A), NB = std::isnan(B);
  if (NA || NB) return NA == NB ? 0 : (NA ? -1 : 1);
  return A < B ? -1 : (A > B ? 1 : 0);
}

Integer CompareNumbers(const Variant& A, const Variant& B) {
  const TNumberKey KA = NumberKeyOf(A), KB = NumberKeyOf(B);
  using K = TNumberKey;
  if (KA.Kind == K::nkExact && KB.Kind == K::nkExact) return Sign128(KA.Exact - KB.Exact);
  if (KA.Kind == K::nkFloat && KB.Kind == K::nkFloat) return CompareFloats(KA.Float, KB.Float);
  // A NaN comes before every other number.
  if (KA.Kind == K::nkFloat && std::isnan(KA.Float)) return -1;
  if (KB.Kind == K::nkFloat && std::isnan(KB.Float)) return 1;
  return KA.Kind == K::nkExact ? CompareExactFloat(KA.Exact, KB.Float) : -CompareExactFloat(KB.Exact, KA.Float);
}

Integer CompareTexts(const Variant& A, const Variant& B) {
  const String* SA = VarStrRef(A);
  const String* SB = VarStrRef(B);
  String TA, TB;
  if (!SA) SA = &(TA = A.AsString());
  if (!SB) SB = &(TB = B.AsString());
  const Integer R = SA->compare(*SB);
  return R < 0 ? -1 : (R > 0 ? 1 : 0);
}

Integer CompareScalars(const Variant& A, const Variant& B) {
  if (VarIsEmpty(A)) return VarIsEmpty(B) ? 0 : -1;
  if (VarIsEmpty(B)) return 1;
  if (VarIsNull(A)) return VarIsNull(B) ? 0 : -1;
  if (VarIsNull(B)) return 1;
  const TVarType TA = VarType(A), TB = VarType(B);
  const TScalarClass CA = ClassOfScalar(TA), CB = ClassOfScalar(TB);
  if (CA != CB) return CA < CB ? -1 : 1;
  if (CA == scNumber) return CompareNumbers(A, B);
  if (CA == scText) return CompareTexts(A, B);
  if (TA != TB) return TA < TB ? -1 : 1;
  try {
    if (A == B) return 0;
    return A < B ? -1 : 1;
  } catch (const EVariantError& E) {
    if (!IsConversionError(E)) throw;
    return 0;
  }
}

Boolean IsUnsignedOrIntegerCode(TVarType T) {
  switch (T) {
    case varSmallint:
    case varInteger:
    case varShortInt:
    case varByte:
    case varWord:
    case varLongWord:
    case varInt64:
      return true;
    default:
      return false;
  }
}

void WriteTaggedInteger(TStream* AStream, Int64 Value) {
  if (Value >= -128 && Value <= 127) {
    WriteLE<Byte>(AStream, tagInt8);
    WriteLE<ShortInt>(AStream, static_cast<ShortInt>(Value));
  } else if (Value >= -32768 && Value <= 32767) {
    WriteLE<Byte>(AStream, tagInt16);
    WriteLE<SmallInt>(AStream, static_cast<SmallInt>(Value));
  } else if (Value < INT32_MIN || Value > INT32_MAX) {
    WriteLE<Byte>(AStream, tagInt64);
    WriteLE<Int64>(AStream, Value);
  } else {
    WriteLE<Byte>(AStream, tagInt32);
    WriteLE<Integer>(AStream, static_cast<Integer>(Value));
  }
}

void WriteTaggedAnsi(TStream* AStream, const AnsiString& S) {
  if (S.size() < 256) {
    WriteLE<Byte>(AStream, tagShortAnsi);
    WriteLE<Byte>(AStream, static_cast<Byte>(S.size()));
  } else {
    if (S.size() > static_cast<size_t>(INT32_MAX)) WriteError();
    WriteLE<Byte>(AStream, tagLongAnsi);
    WriteLE<Integer>(AStream, static_cast<Integer>(S.size()));
  }
  if (!S.empty()) AStream->WriteBuffer(S.data(), static_cast<Integer>(S.size()));
}

void WriteWide(TStream* AStream, const String& S) {
  if (S.size() > static_cast<size_t>(INT32_MAX / 2)) WriteError();
  WriteLE<Integer>(AStream, static_cast<Integer>(S.size()));
  for (Char C : S) WriteLE<Word>(AStream, static_cast<Word>(C));
}

AnsiString ReadAnsiBytes(TStream* AStream, Integer Count) {
  CheckedCount(AStream, Count, 1);
  AnsiString S(static_cast<size_t>(Count), '\0');
  if (Count > 0) AStream->ReadBuffer(S.data(), Count);
  return S;
}

String ReadWideUnits(TStream* AStream, Integer Count) {
  CheckedCount(AStream, Count, 2);
  std::string Bytes(static_cast<size_t>(Count) * 2, '\0');
  if (Count > 0) AStream->ReadBuffer(Bytes.data(), Count * 2);
  String S(static_cast<size_t>(Count), u'\0');
  for (size_t I = 0; I < S.size(); ++I)
    S[I] = static_cast<Char>(static_cast<Byte>(Bytes[2 * I]) | (static_cast<Byte>(Bytes[2 * I + 1]) << 8));
  return S;
}

Variant ReadTagged(TStream* AStream, Integer Depth);

Int64 ReadTaggedCount(TStream* AStream) {
  Byte Tag = ReadLE<Byte>(AStream);
  switch (Tag) {
    case tagInt8:
      return ReadLE<ShortInt>(AStream);
    case tagInt16:
      return ReadLE<SmallInt>(AStream);
    case tagInt32:
      return ReadLE<Integer>(AStream);
    case tagInt64:
      return ReadLE<Int64>(AStream);
    default:
      ReadError();
  }
}

Variant ReadTagged(TStream* AStream, Integer Depth) {
  Byte Tag = ReadLE<Byte>(AStream);
  switch (Tag) {
    case tagNull:
      return Null();
    case tagArray: {
      if (Depth >= kMaxArrayDepth) ReadError();
      Int64 Count = ReadTaggedCount(AStream);
      // Every element takes at least its tag byte.
      if (Count < 0 || Count > BytesLeft(AStream)) ReadError();
      Variant Result = VarArrayCreate({0, static_cast<Integer>(Count - 1)}, varVariant);
      for (Integer I = 0; I < static_cast<Integer>(Count); ++I)
        Result.SetElement(I, ReadTagged(AStream, Depth + 1));
      return Result;
    }
    case tagInt8:
      return Variant(ReadLE<ShortInt>(AStream));
    case tagInt16:
      return Variant(ReadLE<SmallInt>(AStream));
    case tagInt32:
      return Variant(ReadLE<Integer>(AStream));
    case tagExtended: {
      Double D;
      vlStreamReadFloat(AStream, D);
      return Variant(D);
    }
    case tagShortAnsi:
      return Variant(ReadAnsiBytes(AStream, ReadLE<Byte>(AStream)));
    case tagFalse:
      return Variant(false);
    case tagTrue:
      return Variant(true);
    case tagLongAnsi:
      return Variant(ReadAnsiBytes(AStream, ReadLE<Integer>(AStream)));
    case tagEmpty:
      return Variant();
    case tagSingle:
      return Variant(ReadLE<Single>(AStream));
    case tagCurrency:
      return Variant(Currency::FromRaw(ReadLE<Int64>(AStream)));
    case tagDate:
      return VarFromDateTime(ReadLE<Double>(AStream));
    case tagWide:
      return VarAsType(Variant(ReadWideUnits(AStream, ReadLE<Integer>(AStream))), varOleStr);
    case tagInt64:
      return Variant(ReadLE<Int64>(AStream));
    default:
      ReadError();
  }
}

}  // namespace

// --- Comparison and tests -----------------------------------------------------------

Integer vlCompareVariants(const Variant& A, const Variant& B) {
  Boolean ArrayA = VarIsArray(A), ArrayB = VarIsArray(B);
  if (!ArrayA && !ArrayB) return CompareScalars(A, B);
  if (!ArrayB) return 1;
  if (!ArrayA) return -1;
  Integer HighA = VarArrayHighBound(A, 1), HighB = VarArrayHighBound(B, 1);
  // The raw difference of the bounds, computed without overflow.
  Int64 Diff = static_cast<Int64>(HighA) - HighB;
  if (Diff != 0)
    return Diff > INT32_MAX ? INT32_MAX : (Diff < INT32_MIN ? INT32_MIN : static_cast<Integer>(Diff));
  // Elements from index 0 (all arrays of the library start there); an index
  // outside a lower bound above 0 is skipped rather than read.
  Integer LowA = VarArrayLowBound(A, 1), LowB = VarArrayLowBound(B, 1);
  for (Integer I = 0; I <= HighA; ++I) {
    if (I < LowA || I < LowB) continue;
    Integer R = vlCompareVariants(A.GetElement(I), B.GetElement(I));
    if (R != 0) return R;
  }
  return 0;
}

Boolean vlVariantsEqual(const Variant& A, const Variant& B) { return vlCompareVariants(A, B) == 0; }

Boolean vlEditValuesEqual(const Variant& A, const Variant& B) {
  if (!VarIsNull(A) && !VarIsNull(B) && (VarType(A) == varBoolean || VarType(B) == varBoolean)) {
    try {
      return A.AsAnsiString() == B.AsAnsiString();
    } catch (const EVariantError& E) {
      if (!IsConversionError(E)) throw;
      return false;
    }
  }
  try {
    return vlVariantsEqual(A, B);
  } catch (const EVariantError& E) {
    if (!IsConversionError(E)) throw;
    return false;
  }
}

Boolean vlIsDateVarType(TVarType AVarType) { return AVarType == varDate || AVarType == VarSQLTimeStamp(); }
Boolean vlVarIsDateTime(const Variant& V) { return vlIsDateVarType(VarType(V)); }
Boolean vlVarIsNumber(const Variant& V) { return VarIsNumeric(V) || VarIsFMTBcd(V); }
Boolean vlIsSoftNullVariant(const Variant& V) {
  return VarIsNull(V) || (VarIsStr(V) && V.AsString().empty());
}
Boolean vlIsCurrencyVarType(TVarType AVarType) { return AVarType == varCurrency || AVarType == VarFMTBcd(); }

// --- Arrays -------------------------------------------------------------------

Variant vlMakeVariantPair(const Variant& A, const Variant& B) {
  Variant Result = VarArrayCreate({0, 1}, varVariant);
  Result.SetElement(0, A);
  Result.SetElement(1, B);
  return Result;
}

Variant vlMakeVariantSingle(const Variant& A) {
  Variant Result = VarArrayCreate({0, 0}, varVariant);
  Result.SetElement(0, A);
  return Result;
}

void vlAppendVariant(Variant& Arr, const Variant& V) {
  Integer Count = 0;
  if (VarIsArray(Arr)) Count = VarArrayHighBound(Arr, 1) - VarArrayLowBound(Arr, 1) + 1;
  Variant Result = VarArrayCreate({0, Count}, varVariant);
  for (Integer I = 0; I < Count; ++I) {
    Integer Source = VarArrayLowBound(Arr, 1) + I;
    Result.SetElement(I, Arr.GetElement(Source));
  }
  Result.SetElement(Count, V);
  Arr = Result;
}

// --- Fixed-width stream forms ------------------------------------------------------

void vlStreamReadBoolean(TStream* AStream, Boolean& AValue) { AValue = ReadLE<Byte>(AStream) != 0; }
Boolean vlStreamGetBoolean(TStream* AStream) { return ReadLE<Byte>(AStream) != 0; }
void vlStreamWriteBoolean(TStream* AStream, Boolean AValue) { WriteLE<Byte>(AStream, AValue ? 1 : 0); }
void vlStreamReadByte(TStream* AStream, Byte& AValue) { AValue = ReadLE<Byte>(AStream); }
Byte vlStreamGetByte(TStream* AStream) { return ReadLE<Byte>(AStream); }
void vlStreamWriteByte(TStream* AStream, Byte AValue) { WriteLE(AStream, AValue); }
void vlStreamReadShortInt(TStream* AStream, ShortInt& AValue) { AValue = ReadLE<ShortInt>(AStream); }
void vlStreamWriteShortInt(TStream* AStream, ShortInt AValue) { WriteLE(AStream, AValue); }
void vlStreamReadChar(TStream* AStream, Char& AValue) { AValue = static_cast<Char>(ReadLE<Word>(AStream)); }
void vlStreamWriteChar(TStream* AStream, Char AValue) { WriteLE<Word>(AStream, static_cast<Word>(AValue)); }
void vlStreamReadSmallInt(TStream* AStream, SmallInt& AValue) { AValue = ReadLE<SmallInt>(AStream); }
SmallInt vlStreamGetSmallInt(TStream* AStream) { return ReadLE<SmallInt>(AStream); }
void vlStreamWriteSmallInt(TStream* AStream, SmallInt AValue) { WriteLE(AStream, AValue); }
void vlStreamReadWord(TStream* AStream, Word& AValue) { AValue = ReadLE<Word>(AStream); }
Word vlStreamGetWord(TStream* AStream) { return ReadLE<Word>(AStream); }
void vlStreamWriteWord(TStream* AStream, Word AValue) { WriteLE(AStream, AValue); }
void vlStreamReadInteger(TStream* AStream, Integer& AValue) { AValue = ReadLE<Integer>(AStream); }
Integer vlStreamGetInteger(TStream* AStream) { return ReadLE<Integer>(AStream); }
void vlStreamWriteInteger(TStream* AStream, Integer AValue) { WriteLE(AStream, AValue); }
void vlStreamReadCardinal(TStream* AStream, Cardinal& AValue) { AValue = ReadLE<Cardinal>(AStream); }
void vlStreamWriteCardinal(TStream* AStream, Cardinal AValue) { WriteLE(AStream, AValue); }
void vlStreamReadLargeInt(TStream* AStream, Int64& AValue) { AValue = ReadLE<Int64>(AStream); }
Int64 vlStreamGetLargeInt(TStream* AStream) { return ReadLE<Int64>(AStream); }
void vlStreamWriteLargeInt(TStream* AStream, Int64 AValue) { WriteLE(AStream, AValue); }
void vlStreamReadSingle(TStream* AStream, Single& AValue) { AValue = ReadLE<Single>(AStream); }
void vlStreamWriteSingle(TStream* AStream, Single AValue) { WriteLE(AStream, AValue); }

void vlStreamReadFloat(TStream* AStream, Double& AValue) {
  uint8_t Bytes[10];
  AStream->ReadBuffer(Bytes, 10);
  AValue = ExtendedToDouble(Bytes);
}

void vlStreamWriteFloat(TStream* AStream, Double AValue) {
  uint8_t Bytes[10];
  DoubleToExtended(AValue, Bytes);
  AStream->WriteBuffer(Bytes, 10);
}

void vlStreamReadCurrency(TStream* AStream, Currency& AValue) {
  AValue = Currency::FromRaw(ReadLE<Int64>(AStream));
}
Currency vlStreamGetCurrency(TStream* AStream) { return Currency::FromRaw(ReadLE<Int64>(AStream)); }
void vlStreamWriteCurrency(TStream* AStream, Currency AValue) { WriteLE<Int64>(AStream, AValue.Raw()); }
void vlStreamReadDateTime(TStream* AStream, TDateTime& AValue) { AValue = ReadLE<Double>(AStream); }
TDateTime vlStreamGetDateTime(TStream* AStream) { return ReadLE<Double>(AStream); }
void vlStreamWriteDateTime(TStream* AStream, TDateTime AValue) { WriteLE<Double>(AStream, AValue); }

// --- Counted strings ----------------------------------------------------------------

void vlStreamReadAnsiString(TStream* AStream, AnsiString& AValue) {
  AValue = ReadAnsiBytes(AStream, ReadLE<Integer>(AStream));
}
AnsiString vlStreamGetAnsiString(TStream* AStream) {
  return ReadAnsiBytes(AStream, ReadLE<Integer>(AStream));
}

void vlStreamWriteAnsiString(TStream* AStream, const AnsiString& AValue) {
  if (AValue.size() > static_cast<size_t>(INT32_MAX)) WriteError();
  WriteLE<Integer>(AStream, static_cast<Integer>(AValue.size()));
  if (!AValue.empty()) AStream->WriteBuffer(AValue.data(), static_cast<Integer>(AValue.size()));
}

void vlStreamWriteAnsiString(TStream* AStream, const String& AValue) {
  vlStreamWriteAnsiString(AStream, StringToAnsi(AValue));
}

void vlStreamReadWideString(TStream* AStream, String& AValue) {
  AValue = ReadWideUnits(AStream, ReadLE<Integer>(AStream));
}
String vlStreamGetWideString(TStream* AStream) { return ReadWideUnits(AStream, ReadLE<Integer>(AStream)); }
void vlStreamWriteWideString(TStream* AStream, const String& AValue) { WriteWide(AStream, AValue); }

// --- Tagged variants ----------------------------------------------------------------

void vlStreamWriteVariant(TStream* AStream, const Variant& AValue) {
  if (VarIsArray(AValue)) {
    if (VarArrayDimCount(AValue) != 1) WriteError();
    Integer Low = VarArrayLowBound(AValue, 1), High = VarArrayHighBound(AValue, 1);
    WriteLE<Byte>(AStream, tagArray);
    WriteTaggedInteger(AStream, static_cast<Int64>(High) - Low + 1);
    for (Integer I = Low; I <= High; ++I) vlStreamWriteVariant(AStream, AValue.GetElement(I));
    return;
  }
  const TVarType T = VarType(AValue) & varTypeMask;
  if (T == varEmpty) {
    WriteLE<Byte>(AStream, tagEmpty);
  } else if (T == varNull) {
    WriteLE<Byte>(AStream, tagNull);
  } else if (IsUnsignedOrIntegerCode(T)) {
    WriteTaggedInteger(AStream, AValue.AsInt64());
  } else if (T == varSingle) {
    WriteLE<Byte>(AStream, tagSingle);
    WriteLE<Single>(AStream, static_cast<Single>(AValue.AsDouble()));
  } else if (T == varDouble) {
    WriteLE<Byte>(AStream, tagExtended);
    vlStreamWriteFloat(AStream, AValue.AsDouble());
  } else if (T == varCurrency) {
    WriteLE<Byte>(AStream, tagCurrency);
    WriteLE<Int64>(AStream, AValue.AsCurrency().Raw());
  } else if (T == varDate) {
    WriteLE<Byte>(AStream, tagDate);
    WriteLE<Double>(AStream, AValue.AsDateTime());
  } else if (T == varOleStr || T == varUString) {
    WriteLE<Byte>(AStream, tagWide);
    WriteWide(AStream, AValue.AsString());
  } else if (T == varBoolean) {
    WriteLE<Byte>(AStream, AValue.AsBoolean() ? tagTrue : tagFalse);
  } else if (T == varString) {
    WriteTaggedAnsi(AStream, AValue.AsAnsiString());
  } else if (T == VarSQLTimeStamp()) {
    TDateTime D;
    try {
      D = VarAsType(AValue, varDate).AsDateTime();
    } catch (const EVariantError&) {
      WriteError();
    }
    WriteLE<Byte>(AStream, tagDate);
    WriteLE<Double>(AStream, D);
  } else {
    AnsiString S;
    try {
      S = AValue.AsAnsiString();
    } catch (const EVariantError&) {
      WriteError();
    } catch (const EConvertError&) {
      WriteError();
    } catch (const EBcdException&) {
      WriteError();
    }
    WriteTaggedAnsi(AStream, S);
  }
}

void vlStreamReadVariant(TStream* AStream, Variant& AValue) { AValue = ReadTagged(AStream, 0); }
Variant vlStreamGetVariant(TStream* AStream) { return ReadTagged(AStream, 0); }

// --- Filer, reader and writer -------------------------------------------------------

void TvlFiler::Create(TStream* AStream) {
  inherited::Create();
  FStream = AStream;
  FIsUnicode = nbReadStreamSignature(AStream);
}

void TvlFiler::Create(TStream* AStream, Boolean AIsUnicode) {
  inherited::Create();
  FStream = AStream;
  FIsUnicode = AIsUnicode;
}

AnsiString TvlReader::ReadAnsiString() { return vlStreamGetAnsiString(Stream()); }
Boolean TvlReader::ReadBoolean() { return vlStreamGetBoolean(Stream()); }
Byte TvlReader::ReadByte() { return vlStreamGetByte(Stream()); }
Cardinal TvlReader::ReadCardinal() {
  Cardinal V;
  vlStreamReadCardinal(Stream(), V);
  return V;
}
Char TvlReader::ReadChar() {
  Char V;
  vlStreamReadChar(Stream(), V);
  return V;
}
Currency TvlReader::ReadCurrency() { return vlStreamGetCurrency(Stream()); }
TDateTime TvlReader::ReadDateTime() { return vlStreamGetDateTime(Stream()); }
Double TvlReader::ReadFloat() {
  Double V;
  vlStreamReadFloat(Stream(), V);
  return V;
}
Integer TvlReader::ReadInteger() { return vlStreamGetInteger(Stream()); }
Int64 TvlReader::ReadLargeInt() { return vlStreamGetLargeInt(Stream()); }
ShortInt TvlReader::ReadShortInt() {
  ShortInt V;
  vlStreamReadShortInt(Stream(), V);
  return V;
}
Single TvlReader::ReadSingle() {
  Single V;
  vlStreamReadSingle(Stream(), V);
  return V;
}
SmallInt TvlReader::ReadSmallInt() { return vlStreamGetSmallInt(Stream()); }
String TvlReader::ReadString_() { return nbReadCountedString(Stream(), IsUnicode()); }
Variant TvlReader::ReadVariant() { return vlStreamGetVariant(Stream()); }
String TvlReader::ReadWideString() { return vlStreamGetWideString(Stream()); }
Word TvlReader::ReadWord() { return vlStreamGetWord(Stream()); }

void TvlWriter::WriteAnsiString(const AnsiString& AValue) { vlStreamWriteAnsiString(Stream(), AValue); }
void TvlWriter::WriteAnsiString(const String& AValue) { vlStreamWriteAnsiString(Stream(), AValue); }
void TvlWriter::WriteBoolean(Boolean AValue) { vlStreamWriteBoolean(Stream(), AValue); }
void TvlWriter::WriteByte(Byte AValue) { vlStreamWriteByte(Stream(), AValue); }
void TvlWriter::WriteCardinal(Cardinal AValue) { vlStreamWriteCardinal(Stream(), AValue); }
void TvlWriter::WriteChar(Char AValue) { vlStreamWriteChar(Stream(), AValue); }
void TvlWriter::WriteCurrency(Currency AValue) { vlStreamWriteCurrency(Stream(), AValue); }
void TvlWriter::WriteDateTime(TDateTime AValue) { vlStreamWriteDateTime(Stream(), AValue); }
void TvlWriter::WriteFloat(Double AValue) { vlStreamWriteFloat(Stream(), AValue); }
void TvlWriter::WriteInteger(Integer AValue) { vlStreamWriteInteger(Stream(), AValue); }
void TvlWriter::WriteLargeInt(Int64 AValue) { vlStreamWriteLargeInt(Stream(), AValue); }
void TvlWriter::WriteShortInt(ShortInt AValue) { vlStreamWriteShortInt(Stream(), AValue); }
void TvlWriter::WriteSingle(Single AValue) { vlStreamWriteSingle(Stream(), AValue); }
void TvlWriter::WriteSmallInt(SmallInt AValue) { vlStreamWriteSmallInt(Stream(), AValue); }
void TvlWriter::WriteVariant(const Variant& AValue) { vlStreamWriteVariant(Stream(), AValue); }
void TvlWriter::WriteWideString(const String& AValue) { vlStreamWriteWideString(Stream(), AValue); }
void TvlWriter::WriteWord(Word AValue) { vlStreamWriteWord(Stream(), AValue); }
