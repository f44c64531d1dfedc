#include "platform/rtl/FMTBcd.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <vector>

#include "platform/rtl/CodePages.h"
#include "platform/rtl/Locale.h"

namespace {

// A decimal as a magnitude of decimal digits (least significant first, no
// leading zeros: zero is empty), a sign and a count of decimals.
using TDigits = std::vector<Byte>;

struct TDec {
  bool Neg = false;
  Integer Scale = 0;
  TDigits Mag;
};

void Trim(TDigits& M) {
  while (!M.empty() && M.back() == 0) M.pop_back();
}

Integer CompareMag(const TDigits& A, const TDigits& B) {
  if (A.size() != B.size()) return A.size() < B.size() ? -1 : 1;
  for (size_t I = A.size(); I-- > 0;)
    if (A[I] != B[I]) return A[I] < B[I] ? -1 : 1;
  return 0;
}

TDigits AddMag(const TDigits& A, const TDigits& B) {
  TDigits R(std::max(A.size(), B.size()) + 1, 0);
  Byte Carry = 0;
  for (size_t I = 0; I < R.size(); ++I) {
    Byte S = Carry + (I < A.size() ? A[I] : 0) + (I < B.size() ? B[I] : 0);
    R[I] = S % 10;
    Carry = S / 10;
  }
  Trim(R);
  return R;
}

// A - B with A >= B.
TDigits SubMag(const TDigits& A, const TDigits& B) {
  TDigits R(A.size(), 0);
  int Borrow = 0;
  for (size_t I = 0; I < A.size(); ++I) {
    int D = A[I] - Borrow - (I < B.size() ? B[I] : 0);
    Borrow = D < 0;
    R[I] = static_cast<Byte>(D < 0 ? D + 10 : D);
  }
  Trim(R);
  return R;
}

TDigits MulMag(const TDigits& A, const TDigits& B) {
  if (A.empty() || B.empty()) return {};
  std::vector<unsigned> T(A.size() + B.size(), 0);
  for (size_t I = 0; I < A.size(); ++I)
    for (size_t J = 0; J < B.size(); ++J) T[I + J] += A[I] * B[J];
  TDigits R(T.size() + 1, 0);
  unsigned Carry = 0;
  for (size_t I = 0; I < T.size(); ++I) {
    unsigned S = T[I] + Carry;
    R[I] = static_cast<Byte>(S % 10);
    Carry = S / 10;
  }
  R[T.size()] = static_cast<Byte>(Carry);
  Trim(R);
  return R;
}

void ShiftLeft(TDigits& M, Integer N) {  // times 10^N
  if (!M.empty() && N > 0) M.insert(M.begin(), static_cast<size_t>(N), 0);
}

// A / B (B non-zero), quotient and remainder, by long division.
TDigits DivMag(const TDigits& A, const TDigits& B, TDigits& Rem) {
  TDigits Q(A.size(), 0);
  Rem.clear();
  for (size_t I = A.size(); I-- > 0;) {
    Rem.insert(Rem.begin(), A[I]);
    Trim(Rem);
    Byte D = 0;
    while (CompareMag(Rem, B) >= 0) {
      Rem = SubMag(Rem, B);
      ++D;
    }
    Q[I] = D;
  }
  Trim(Q);
  return Q;
}

// Drops the last N digits, rounding half away from zero.
void DropDigits(TDec& D, Integer N) {
  if (N <= 0) return;
  if (static_cast<size_t>(N) > D.Mag.size()) {
    D.Mag.clear();
  } else {
    bool Up = D.Mag[static_cast<size_t>(N) - 1] >= 5;
    D.Mag.erase(D.Mag.begin(), D.Mag.begin() + N);
    if (Up) D.Mag = AddMag(D.Mag, TDigits{1});
  }
  D.Scale -= N;
  if (D.Mag.empty()) D.Neg = false;
}

void SetScale(TDec& D, Integer Scale) {
  if (Scale < D.Scale) {
    DropDigits(D, D.Scale - Scale);
  } else {
    ShiftLeft(D.Mag, Scale - D.Scale);
    D.Scale = Scale;
  }
}

Integer IntDigits(const TDec& D) {
  return std::max<Integer>(static_cast<Integer>(D.Mag.size()) - D.Scale, 0);
}

[[noreturn]] void Overflow() { throw EBcdOverflowException(u"BCD overflow"); }
[[noreturn]] void InvalidBcd() { throw EBcdException(u"Invalid BCD value"); }

// Fits the value into 64 digits and at most 63 decimals; false when the
// integer part is too long.
bool Fit(TDec& D) {
  if (D.Scale < 0) SetScale(D, 0);
  if (D.Scale > 63) DropDigits(D, D.Scale - 63);
  Integer Total = IntDigits(D) + D.Scale;
  if (Total > MaxFMTBcdFractionSize) DropDigits(D, std::min(D.Scale, Total - MaxFMTBcdFractionSize));
  return IntDigits(D) + D.Scale <= MaxFMTBcdFractionSize;
}

TDec FromBcd(const TBcd& B) {
  TDec D;
  Integer Prec = B.Precision;
  if (Prec > MaxFMTBcdFractionSize) InvalidBcd();
  D.Scale = B.SignSpecialPlaces & 0x3F;
  D.Mag.resize(static_cast<size_t>(Prec));
  for (Integer I = 0; I < Prec; ++I) {
    Byte Pair = B.Fraction[I / 2];
    Byte Digit = (I % 2 == 0) ? Pair >> 4 : Pair & 0x0F;
    if (Digit > 9) InvalidBcd();
    D.Mag[static_cast<size_t>(Prec - 1 - I)] = Digit;
  }
  Trim(D.Mag);
  D.Neg = (B.SignSpecialPlaces & 0x80) && !D.Mag.empty();
  return D;
}

// Stores Precision digits (at least the value's own), the last Places of them decimals.
TBcd ToBcdSized(TDec D, Integer Precision, Integer Places) {
  SetScale(D, Places);
  TBcd B;
  B.Precision = static_cast<Byte>(Precision);
  B.SignSpecialPlaces = static_cast<Byte>((D.Neg ? 0x80 : 0) | Places);
  for (Integer I = 0; I < Precision; ++I) {
    Integer Pos = Precision - 1 - I;  // digit index in Mag
    Byte Digit = static_cast<size_t>(Pos) < D.Mag.size() ? D.Mag[static_cast<size_t>(Pos)] : 0;
    B.Fraction[I / 2] |= (I % 2 == 0) ? static_cast<Byte>(Digit << 4) : Digit;
  }
  return B;
}

TBcd ToBcd(TDec D) {
  if (!Fit(D)) Overflow();
  return ToBcdSized(D, std::max(IntDigits(D) + D.Scale, 1), D.Scale);
}

bool ParseDec(const String& S, Char Sep, TDec& D) {
  size_t I = 0, N = S.size();
  auto Blank = [&](size_t K) { return K < N && (S[K] == u' ' || S[K] == u'\t'); };
  while (Blank(I)) ++I;
  size_t End = N;
  while (End > I && (S[End - 1] == u' ' || S[End - 1] == u'\t')) --End;
  D = TDec();
  if (I == End) return true;  // blank text is zero
  if (S[I] == u'+' || S[I] == u'-') D.Neg = S[I++] == u'-';
  TDigits Big;  // most significant first
  bool AnyDigit = false, SeenSep = false;
  Integer Frac = 0;
  for (; I < End; ++I) {
    Char C = S[I];
    if (C >= u'0' && C <= u'9') {
      AnyDigit = true;
      if (Big.empty() && C == u'0' && !SeenSep) continue;  // leading zero
      if (Big.size() > 4096) return false;                 // absurdly long text
      Big.push_back(static_cast<Byte>(C - u'0'));
      if (SeenSep) ++Frac;
    } else if (C == Sep && !SeenSep) {
      SeenSep = true;
    } else {
      break;
    }
  }
  if (!AnyDigit) return false;
  Integer Exp = 0;
  if (I < End && (S[I] == u'e' || S[I] == u'E')) {
    ++I;
    bool NegExp = false;
    if (I < End && (S[I] == u'+' || S[I] == u'-')) NegExp = S[I++] == u'-';
    if (I >= End) return false;
    for (; I < End && S[I] >= u'0' && S[I] <= u'9'; ++I) {
      Exp = Exp * 10 + (S[I] - u'0');
      if (Exp > 10000) return false;
    }
    if (NegExp) Exp = -Exp;
  }
  if (I != End) return false;
  D.Mag.assign(Big.rbegin(), Big.rend());
  D.Scale = Frac - Exp;
  Trim(D.Mag);
  if (D.Mag.empty()) {
    D.Neg = false;
    D.Scale = std::clamp(D.Scale, 0, 63);
  }
  if (D.Scale < 0) {
    if (static_cast<Integer>(D.Mag.size()) - D.Scale > MaxFMTBcdFractionSize) return false;
    SetScale(D, 0);
  }
  return Fit(D);
}

// Text of the digits with the separator; trailing zero decimals dropped when asked.
String DecToStr(const TDec& D0, Char Sep, bool StripZeros, Char Thousands = 0) {
  TDec D = D0;
  if (StripZeros) {
    Integer Z = 0;
    while (Z < D.Scale && static_cast<size_t>(Z) < D.Mag.size() && D.Mag[static_cast<size_t>(Z)] == 0) ++Z;
    if (D.Mag.empty()) Z = D.Scale;
    D.Mag.erase(D.Mag.begin(), D.Mag.begin() + std::min<size_t>(static_cast<size_t>(Z), D.Mag.size()));
    D.Scale -= Z;
  }
  String Int, Frac;
  Integer Len = static_cast<Integer>(D.Mag.size());
  for (Integer I = Len - 1; I >= D.Scale; --I)
    Int.push_back(static_cast<Char>(u'0' + D.Mag[static_cast<size_t>(I)]));
  if (Int.empty()) Int.push_back(u'0');
  for (Integer I = D.Scale - 1; I >= 0; --I)
    Frac.push_back(static_cast<Char>(u'0' + (I < Len ? D.Mag[static_cast<size_t>(I)] : 0)));
  if (Thousands) {
    String G;
    for (size_t I = 0; I < Int.size(); ++I) {
      if (I > 0 && (Int.size() - I) % 3 == 0) G.push_back(Thousands);
      G.push_back(Int[I]);
    }
    Int = G;
  }
  String R;
  if (D.Neg && !D.Mag.empty()) R.push_back(u'-');
  R += Int;
  if (!Frac.empty()) {
    R.push_back(Sep);
    R += Frac;
  }
  return R;
}

std::string DecToAscii(const TDec& D) {
  std::string S = D.Neg ? "-" : "";
  if (D.Mag.empty()) return "0";
  for (size_t I = D.Mag.size(); I-- > 0;) S.push_back(static_cast<char>('0' + D.Mag[I]));
  return S + "e" + std::to_string(-D.Scale);
}

TDec Add(const TDec& A0, const TDec& B0, bool Subtract) {
  TDec A = A0, B = B0;
  if (Subtract) B.Neg = !B.Neg && !B.Mag.empty();
  Integer Scale = std::max(A.Scale, B.Scale);
  SetScale(A, Scale);
  SetScale(B, Scale);
  TDec R;
  R.Scale = Scale;
  if (A.Neg == B.Neg) {
    R.Mag = AddMag(A.Mag, B.Mag);
    R.Neg = A.Neg;
  } else if (CompareMag(A.Mag, B.Mag) >= 0) {
    R.Mag = SubMag(A.Mag, B.Mag);
    R.Neg = A.Neg;
  } else {
    R.Mag = SubMag(B.Mag, A.Mag);
    R.Neg = B.Neg;
  }
  if (R.Mag.empty()) R.Neg = false;
  return R;
}

Int64 DecToInt64(TDec D, bool Truncate) {
  if (Truncate) {
    D.Mag.erase(D.Mag.begin(), D.Mag.begin() + std::min<size_t>(static_cast<size_t>(D.Scale), D.Mag.size()));
    D.Scale = 0;
  } else {
    SetScale(D, 0);
  }
  Trim(D.Mag);
  if (D.Mag.size() > 19) Overflow();
  UInt64 M = 0;
  for (size_t I = D.Mag.size(); I-- > 0;) M = M * 10 + D.Mag[I];
  if (D.Neg) {
    if (M > static_cast<UInt64>(MaxInt64) + 1) Overflow();
    return static_cast<Int64>(0 - M);
  }
  if (M > static_cast<UInt64>(MaxInt64)) Overflow();
  return static_cast<Int64>(M);
}

TDec Int64ToDec(Int64 V) {
  TDec D;
  D.Neg = V < 0;
  UInt64 M = D.Neg ? 0 - static_cast<UInt64>(V) : static_cast<UInt64>(V);
  for (; M; M /= 10) D.Mag.push_back(static_cast<Byte>(M % 10));
  return D;
}

}  // namespace

// ---- Text ------------------------------------------------------------------------

bool TryStrToBcd(const String& S, TBcd& Bcd, const TFormatSettings& FS) {
  TDec D;
  if (!ParseDec(S, FS.DecimalSeparator, D)) return false;
  Bcd = ToBcd(D);
  return true;
}

bool TryStrToBcd(const String& S, TBcd& Bcd) { return TryStrToBcd(S, Bcd, FormatSettings()); }

TBcd StrToBcd(const String& S, const TFormatSettings& FS) {
  TBcd B;
  if (!TryStrToBcd(S, B, FS)) throw EBcdException(u"'" + S + u"' is not a valid BCD value");
  return B;
}

TBcd StrToBcd(const String& S) { return StrToBcd(S, FormatSettings()); }

String BcdToStr(const TBcd& Bcd, const TFormatSettings& FS) {
  return DecToStr(FromBcd(Bcd), FS.DecimalSeparator, true);
}

String BcdToStr(const TBcd& Bcd) { return BcdToStr(Bcd, FormatSettings()); }

String BcdToStrF(const TBcd& Bcd, TFloatFormat Format, Integer Precision, Integer Digits,
                 const TFormatSettings& FS) {
  TDec D = FromBcd(Bcd);
  Precision = std::clamp(Precision, 1, MaxFMTBcdFractionSize);
  Digits = std::clamp(Digits, 0, 63);
  switch (Format) {
    case ffGeneral: {
      Integer Len = static_cast<Integer>(D.Mag.size());
      if (Len > Precision) DropDigits(D, std::min(Len - Precision, D.Scale));  // round to Precision digits
      if (IntDigits(D) > Precision) break;  // too large: exponent form below
      return DecToStr(D, FS.DecimalSeparator, true);
    }
    case ffFixed:
    case ffNumber: {
      if (IntDigits(D) > Precision) break;
      SetScale(D, Digits);
      return DecToStr(D, FS.DecimalSeparator, false, Format == ffNumber ? FS.ThousandSeparator : Char(0));
    }
    case ffCurrency: {
      Currency C;
      if (BCDToCurr(Bcd, C)) return CurrToStrF(C, ffCurrency, Digits, FS);
      break;
    }
    default:
      break;
  }
  return FloatToStrF(BcdToDouble(Bcd), Format, std::min(Precision, 18), Digits, FS);
}

String BcdToStrF(const TBcd& Bcd, TFloatFormat Format, Integer Precision, Integer Digits) {
  return BcdToStrF(Bcd, Format, Precision, Digits, FormatSettings());
}

// ---- Numbers -----------------------------------------------------------------------

double BcdToDouble(const TBcd& Bcd) {
  std::string S = DecToAscii(FromBcd(Bcd));
  double V = 0;
  auto [Ptr, Ec] = std::from_chars(S.data(), S.data() + S.size(), V);
  if (Ec == std::errc::result_out_of_range) return 0;  // below the smallest denormal
  return V;
}

TBcd DoubleToBcd(double Value) {
  if (!std::isfinite(Value)) InvalidBcd();
  char Buf[64];
  auto [End, Ec] = std::to_chars(Buf, Buf + sizeof Buf, Value, std::chars_format::general, 15);
  TDec D;
  if (Ec != std::errc() || !ParseDec(UTF8ToUTF16(std::string(Buf, End)), u'.', D)) InvalidBcd();
  return ToBcd(D);
}

TBcd IntegerToBcd(Int64 Value) { return ToBcd(Int64ToDec(Value)); }

Int64 BcdToInt64(const TBcd& Bcd, bool Truncate) { return DecToInt64(FromBcd(Bcd), Truncate); }

Integer BcdToInteger(const TBcd& Bcd, bool Truncate) {
  Int64 V = BcdToInt64(Bcd, Truncate);
  if (V < INT32_MIN || V > INT32_MAX) Overflow();
  return static_cast<Integer>(V);
}

bool BCDToCurr(const TBcd& Bcd, Currency& Curr) {
  TDec D = FromBcd(Bcd);
  SetScale(D, 4);
  D.Scale = 0;
  try {
    Curr = Currency::FromRaw(DecToInt64(D, true));
    return true;
  } catch (const EBcdOverflowException&) {
    return false;
  }
}

bool CurrToBCD(Currency Curr, TBcd& Bcd, Integer Precision, Integer Decimals) {
  TDec D = Int64ToDec(Curr.Raw());
  D.Scale = 4;
  if (Precision < 1 || Precision > MaxFMTBcdFractionSize || Decimals < 0 || Decimals > Precision)
    return false;
  return NormalizeBcd(ToBcd(D), Bcd, static_cast<Word>(Precision), static_cast<Word>(Decimals));
}

// ---- Comparison and arithmetic ---------------------------------------------------------

Integer BcdCompare(const TBcd& A, const TBcd& B) {
  TDec X = FromBcd(A), Y = FromBcd(B);
  if (X.Neg != Y.Neg) return X.Neg ? -1 : 1;
  Integer Scale = std::max(X.Scale, Y.Scale);
  SetScale(X, Scale);
  SetScale(Y, Scale);
  Integer C = CompareMag(X.Mag, Y.Mag);
  return X.Neg ? -C : C;
}

void BcdAdd(const TBcd& A, const TBcd& B, TBcd& Result) {
  Result = ToBcd(Add(FromBcd(A), FromBcd(B), false));
}

void BcdSubtract(const TBcd& A, const TBcd& B, TBcd& Result) {
  Result = ToBcd(Add(FromBcd(A), FromBcd(B), true));
}

void BcdMultiply(const TBcd& A, const TBcd& B, TBcd& Result) {
  TDec X = FromBcd(A), Y = FromBcd(B), R;
  R.Mag = MulMag(X.Mag, Y.Mag);
  R.Scale = X.Scale + Y.Scale;
  R.Neg = X.Neg != Y.Neg && !R.Mag.empty();
  Result = ToBcd(R);
}

void BcdDivide(const TBcd& A, const TBcd& B, TBcd& Result) {
  TDec X = FromBcd(A), Y = FromBcd(B);
  if (Y.Mag.empty()) throw EZeroDivide(u"Floating point division by zero");
  // Quotient digits: enough decimals to fill 64 digits, at most 63.
  Integer QInt =
      (static_cast<Integer>(X.Mag.size()) - X.Scale) - (static_cast<Integer>(Y.Mag.size()) - Y.Scale) + 1;
  Integer Scale = std::clamp(MaxFMTBcdFractionSize - std::max(QInt, 0), 0, 63);
  // X / Y * 10^Scale = (XMag * 10^(Scale - X.Scale + Y.Scale)) / YMag
  Integer Shift = Scale - X.Scale + Y.Scale;
  TDigits N = X.Mag, M = Y.Mag, Rem;
  if (Shift >= 0)
    ShiftLeft(N, Shift);
  else
    ShiftLeft(M, -Shift);
  ShiftLeft(N, 1);  // one more digit to round on
  TDec R;
  R.Mag = DivMag(N, M, Rem);
  R.Scale = Scale + 1;
  R.Neg = X.Neg != Y.Neg;
  DropDigits(R, 1);
  // Trailing zero decimals carry nothing: 10 / 4 is 2.5.
  while (R.Scale > 0 && !R.Mag.empty() && R.Mag.front() == 0) {
    R.Mag.erase(R.Mag.begin());
    --R.Scale;
  }
  if (R.Mag.empty()) {
    R.Neg = false;
    R.Scale = 0;
  }
  Result = ToBcd(R);
}

bool NormalizeBcd(const TBcd& In, TBcd& Out, Word Precision, Word Places) {
  if (Precision < 1 || Precision > MaxFMTBcdFractionSize || Places > Precision || Places > 63) return false;
  TDec D = FromBcd(In);
  SetScale(D, Places);
  if (IntDigits(D) > Precision - Places) return false;
  Out = ToBcdSized(D, Precision, Places);
  return true;
}

bool IsBcdNegative(const TBcd& Bcd) { return FromBcd(Bcd).Neg; }

Word BcdPrecision(const TBcd& Bcd) { return static_cast<Word>(IntDigits(FromBcd(Bcd))); }

Word BcdScale(const TBcd& Bcd) { return static_cast<Word>(Bcd.SignSpecialPlaces & 0x3F); }

// ---- The variant type ----------------------------------------------------------------------

namespace {

TBcd BcdOf(const Variant& V) {
  TBcd B;
  std::memcpy(&B, V.CustomData(), sizeof B);
  return B;
}

class TFMTBcdVariantType final : public TCustomVariantType {
 public:
  TFMTBcdVariantType() : TCustomVariantType(u"FMTBcd") {}
  size_t DataSize() const override { return sizeof(TBcd); }

  Variant Make(const TBcd& B) const { return Variant::CreateCustom(VarType(), &B, sizeof B); }

  Variant CastTo(const Variant& Source, TVarType AVarType) const override {
    TBcd B = BcdOf(Source);
    switch (AVarType) {
      case varOleStr:
      case varUString:
      case varString:
        return VarAsType(Variant(BcdToStr(B)), AVarType);
      case varSingle:
      case varDouble:
      case varDate:
        return VarAsType(Variant(BcdToDouble(B)), AVarType);
      case varCurrency: {
        Currency C;
        if (!BCDToCurr(B, C)) VarOverflowError(VarType(), AVarType);
        return Variant(C);
      }
      case varBoolean:
        return Variant(FromBcd(B).Mag.size() > 0);
      case varSmallint:
      case varInteger:
      case varShortInt:
      case varByte:
      case varWord:
      case varLongWord:
      case varInt64:
      case varUInt64: {
        Int64 I;
        try {
          I = BcdToInt64(B);
        } catch (const EBcdOverflowException&) {
          VarOverflowError(VarType(), AVarType);
        }
        return VarAsType(Variant(I), AVarType);
      }
      default:
        VarCastError(VarType(), AVarType);
    }
  }

  Variant Cast(const Variant& Source) const override { return Make(ToBcdValue(Source)); }

  TBcd ToBcdValue(const Variant& Source) const {
    TVarType T = Source.VType();
    if (T == VarType()) return BcdOf(Source);
    switch (T) {
      case varEmpty:
        return IntegerToBcd(0);
      case varNull:
        VarCastError(T, VarType());
      case varCurrency: {
        TBcd B;
        CurrToBCD(Source.AsCurrency(), B);
        return B;
      }
      case varSingle:
      case varDouble:
      case varDate: {
        double D = Source.AsDouble();
        if (!std::isfinite(D)) VarOverflowError(T, VarType());
        return DoubleToBcd(D);
      }
      case varOleStr:
      case varUString:
      case varString: {
        TBcd B;
        if (!TryStrToBcd(Source.AsString(), B)) VarCastError(T, VarType());
        return B;
      }
      default:
        break;
    }
    if (VarIsOrdinal(Source)) {
      if (T == varUInt64) return StrToBcd(Source.AsString());
      return IntegerToBcd(Source.AsInt64());
    }
    if (VarIsCustom(Source)) return ToBcdValue(Variant(Source.AsDouble()));
    VarCastError(T, VarType());
  }

  Integer Compare(const Variant& Left, const Variant& Right) const override {
    return BcdCompare(BcdOf(Left), BcdOf(Right));
  }

  Variant BinaryOp(const Variant& Left, const Variant& Right, TVarOp Op) const override {
    TBcd L = ToBcdValue(Left), R = ToBcdValue(Right), Result;
    switch (Op) {
      case opAdd:
        BcdAdd(L, R, Result);
        break;
      case opSubtract:
        BcdSubtract(L, R, Result);
        break;
      case opMultiply:
        BcdMultiply(L, R, Result);
        break;
      case opDivide:
        BcdDivide(L, R, Result);
        break;
      default:
        VarInvalidOp();
    }
    return Make(Result);
  }

  Variant UnaryOp(const Variant& Operand, TVarOp Op) const override {
    if (Op != opNegate) VarInvalidOp();
    TBcd Result;
    BcdSubtract(IntegerToBcd(0), BcdOf(Operand), Result);
    return Make(Result);
  }
};

const TFMTBcdVariantType& FMTBcdType() {
  static const TFMTBcdVariantType* T = new TFMTBcdVariantType;  // lives for the whole process
  return *T;
}

}  // namespace

TVarType VarFMTBcd() { return FMTBcdType().VarType(); }

bool VarIsFMTBcd(const Variant& V) { return V.VType() == VarFMTBcd(); }

Variant VarFMTBcdCreate(const TBcd& Bcd) {
  FromBcd(Bcd);  // refuses malformed records
  return FMTBcdType().Make(Bcd);
}

Variant VarFMTBcdCreate(const String& Value, Word Precision, Word Scale) {
  TBcd B;
  if (!NormalizeBcd(StrToBcd(Value), B, Precision, Scale)) Overflow();
  return FMTBcdType().Make(B);
}

Variant VarFMTBcdCreate(double Value, Word Precision, Word Scale) {
  TBcd B;
  if (!NormalizeBcd(DoubleToBcd(Value), B, Precision, Scale)) Overflow();
  return FMTBcdType().Make(B);
}

TBcd VarToBcd(const Variant& V) { return FMTBcdType().ToBcdValue(V); }
