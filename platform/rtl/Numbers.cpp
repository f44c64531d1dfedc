#include "platform/rtl/Numbers.h"

#include <bit>
#include <chrono>
#include <cmath>
#include <cstring>

#include "platform/rtl/Exceptions.h"

namespace {

[[noreturn]] void InvalidOp() { throw EInvalidOp(u"Invalid floating point operation"); }
[[noreturn]] void FloatOverflow() { throw EOverflow(u"Floating point overflow"); }

constexpr double TwoPow63 = 9223372036854775808.0;

// Round half to even of a finite double, as a double.
double RoundEven(double X) {
  double F = std::floor(X);
  double Diff = X - F;  // exact for every double
  if (Diff > 0.5) return F + 1.0;
  if (Diff < 0.5) return F;
  return std::fmod(F, 2.0) == 0.0 ? F : F + 1.0;
}

Int64 CheckedInt64(double R) {
  if (!(R >= -TwoPow63 && R < TwoPow63)) InvalidOp();  // NaN fails too
  return static_cast<Int64>(R);
}

// Q = N / D rounded half to even; D > 0.
__int128 DivRoundEven(__int128 N, __int128 D) {
  __int128 Q = N / D;
  __int128 R = N % D;  // sign of N
  __int128 AbsR2 = (R < 0 ? -R : R) * 2;
  if (AbsR2 > D || (AbsR2 == D && (Q & 1) != 0)) Q += (N < 0) ? -1 : 1;
  return Q;
}

Currency CurrencyOf(__int128 V) {
  if (V > INT64_MAX || V < INT64_MIN) FloatOverflow();
  return Currency::FromRaw(static_cast<Int64>(V));
}

// Shifts M right by Shift bits, rounding half to even.
uint64_t ShiftRoundEven(uint64_t M, int Shift) {
  if (Shift <= 0) return M;
  if (Shift > 64) return 0;
  if (Shift == 64) return M > (uint64_t{1} << 63) ? 1 : 0;
  uint64_t Q = M >> Shift;
  uint64_t R = M & ((uint64_t{1} << Shift) - 1);
  uint64_t Half = uint64_t{1} << (Shift - 1);
  if (R > Half || (R == Half && (Q & 1) != 0)) ++Q;
  return Q;
}

}  // namespace

Int64 Round(double X) {
  if (!std::isfinite(X)) InvalidOp();
  return CheckedInt64(RoundEven(X));
}

Int64 Trunc(double X) {
  if (!std::isfinite(X)) InvalidOp();
  return CheckedInt64(std::trunc(X));
}

double Frac(double X) {
  if (!std::isfinite(X)) InvalidOp();
  return X - std::trunc(X);
}

double Int(double X) { return std::trunc(X); }
double Sqrt(double X) { return std::sqrt(X); }
double Power(double Base, double Exponent) { return std::pow(Base, Exponent); }
double ArcTan2(double Y, double X) { return std::atan2(Y, X); }

Integer Ceil(double X) {
  double R = std::ceil(X);
  if (!(R >= INT32_MIN && R <= INT32_MAX)) InvalidOp();
  return static_cast<Integer>(R);
}

Integer Floor(double X) {
  double R = std::floor(X);
  if (!(R >= INT32_MIN && R <= INT32_MAX)) InvalidOp();
  return static_cast<Integer>(R);
}

Integer IntDiv(Integer A, Integer B) {
  if (B == 0) throw EDivByZero(u"Division by zero");
  if (A == INT32_MIN && B == -1) throw EIntOverflow(u"Integer overflow");
  return A / B;
}

Integer IntMod(Integer A, Integer B) {
  if (B == 0) throw EDivByZero(u"Division by zero");
  if (B == -1) return 0;
  return A % B;
}

Int64 IntDiv(Int64 A, Int64 B) {
  if (B == 0) throw EDivByZero(u"Division by zero");
  if (A == INT64_MIN && B == -1) throw EIntOverflow(u"Integer overflow");
  return A / B;
}

Int64 IntMod(Int64 A, Int64 B) {
  if (B == 0) throw EDivByZero(u"Division by zero");
  if (B == -1) return 0;
  return A % B;
}

Integer MulDiv(Integer Number, Integer Numerator, Integer Denominator) {
  if (Denominator == 0) return -1;
  Int64 P = static_cast<Int64>(Number) * Numerator;  // |P| <= 2^62
  Int64 D = Denominator;
  bool Negative = (P < 0) != (D < 0);
  UInt64 AbsP = P < 0 ? static_cast<UInt64>(-P) : static_cast<UInt64>(P);
  UInt64 AbsD = D < 0 ? static_cast<UInt64>(-D) : static_cast<UInt64>(D);
  UInt64 Q = (AbsP + AbsD / 2) / AbsD;  // half away from zero
  Int64 R = Negative ? -static_cast<Int64>(Q) : static_cast<Int64>(Q);
  if (R > INT32_MAX || R < INT32_MIN) return -1;
  return static_cast<Integer>(R);
}

// ---- Random ----

Integer RandSeed = 0;

namespace {
void NextSeed() {
  RandSeed = static_cast<Integer>(static_cast<Cardinal>(RandSeed) * 134775813u + 1u);
}
}  // namespace

void Randomize() {
  auto Now = std::chrono::steady_clock::now().time_since_epoch();
  auto Ticks = std::chrono::duration_cast<std::chrono::nanoseconds>(Now).count();
  RandSeed = static_cast<Integer>(static_cast<Cardinal>(static_cast<UInt64>(Ticks) ^ (static_cast<UInt64>(Ticks) >> 32)));
}

Integer Random(Integer Range) {
  NextSeed();
  if (Range <= 0) return 0;
  return static_cast<Integer>((static_cast<UInt64>(static_cast<Cardinal>(RandSeed)) * static_cast<Cardinal>(Range)) >> 32);
}

double Random() {
  NextSeed();
  return static_cast<double>(static_cast<Cardinal>(RandSeed)) / 4294967296.0;
}

// ---- Currency ----

Currency::Currency(Int64 V) {
  if (V > INT64_MAX / 10000 || V < INT64_MIN / 10000) FloatOverflow();
  FValue = V * 10000;
}

Currency::Currency(double V) {
  if (!std::isfinite(V)) InvalidOp();
  // The product is taken in extended precision where the machine has it, as
  // the platform's FPU does.
  long double P = static_cast<long double>(V) * 10000.0L;
  long double F = std::floor(P);
  long double Diff = P - F;
  if (Diff > 0.5L || (Diff == 0.5L && std::fmod(F, 2.0L) != 0.0L)) F += 1.0L;
  if (!(F >= -9223372036854775808.0L && F < 9223372036854775808.0L)) InvalidOp();
  FValue = static_cast<Int64>(F);
}

double Currency::ToDouble() const {
  return static_cast<double>(static_cast<long double>(FValue) / 10000.0L);
}

Currency operator+(Currency A, Currency B) {
  return CurrencyOf(static_cast<__int128>(A.FValue) + B.FValue);
}

Currency operator-(Currency A, Currency B) {
  return CurrencyOf(static_cast<__int128>(A.FValue) - B.FValue);
}

Currency operator*(Currency A, Currency B) {
  return CurrencyOf(DivRoundEven(static_cast<__int128>(A.FValue) * B.FValue, 10000));
}

Currency operator/(Currency A, Currency B) {
  if (B.FValue == 0) throw EZeroDivide(u"Floating point division by zero");
  __int128 N = static_cast<__int128>(A.FValue) * 10000;
  __int128 D = B.FValue;
  if (D < 0) {
    N = -N;
    D = -D;
  }
  return CurrencyOf(DivRoundEven(N, D));
}

Currency Currency::operator-() const { return CurrencyOf(-static_cast<__int128>(FValue)); }

// ---- 10-byte extended ----

double ExtendedToDouble(const uint8_t Bytes[10]) {
  uint64_t M = 0;
  for (int I = 7; I >= 0; --I) M = (M << 8) | Bytes[I];
  unsigned SignExp = static_cast<unsigned>(Bytes[8]) | (static_cast<unsigned>(Bytes[9]) << 8);
  uint64_t Sign = static_cast<uint64_t>(SignExp >> 15) << 63;
  int Exp = static_cast<int>(SignExp & 0x7FFF);

  uint64_t Bits;
  if (Exp == 0x7FFF) {
    if (M == (uint64_t{1} << 63)) {
      Bits = Sign | 0x7FF0000000000000ull;  // infinity
    } else {
      // NaN (and the invalid pseudo-infinity): quiet, top payload bits kept.
      Bits = Sign | 0x7FF8000000000000ull | ((M >> 11) & 0x000FFFFFFFFFFFFFull);
    }
  } else if (M == 0) {
    Bits = Sign;
  } else {
    // Value = M * 2^(E) with the explicit integer bit taken as it stands.
    int E = (Exp == 0 ? 1 : Exp) - 16383 - 63;
    int Lz = std::countl_zero(M);
    M <<= Lz;
    E -= Lz;
    int Unbiased = E + 63;  // M is now in [2^63, 2^64)
    if (Unbiased > 1023) {
      Bits = Sign | 0x7FF0000000000000ull;
    } else if (Unbiased >= -1022) {
      uint64_t Q = ShiftRoundEven(M, 11);
      if (Q == (uint64_t{1} << 53)) {
        Q >>= 1;
        ++Unbiased;
      }
      if (Unbiased > 1023)
        Bits = Sign | 0x7FF0000000000000ull;
      else
        Bits = Sign | (static_cast<uint64_t>(Unbiased + 1023) << 52) | (Q & 0x000FFFFFFFFFFFFFull);
    } else {
      // Denormal: a carry into bit 52 makes the smallest normal by itself.
      uint64_t Q = ShiftRoundEven(M, 11 + (-1022 - Unbiased));
      Bits = Sign | Q;
    }
  }
  return std::bit_cast<double>(Bits);
}

void DoubleToExtended(double Value, uint8_t Bytes[10]) {
  uint64_t Bits = std::bit_cast<uint64_t>(Value);
  unsigned Sign = static_cast<unsigned>(Bits >> 63);
  int Exp = static_cast<int>((Bits >> 52) & 0x7FF);
  uint64_t Frac = Bits & 0x000FFFFFFFFFFFFFull;

  uint64_t M;
  unsigned E;
  if (Exp == 0x7FF) {
    E = 0x7FFF;
    M = (uint64_t{1} << 63) | (Frac << 11);
  } else if (Exp == 0) {
    if (Frac == 0) {
      E = 0;
      M = 0;
    } else {
      int Lz = std::countl_zero(Frac);
      M = Frac << Lz;
      E = static_cast<unsigned>(-1074 - Lz + 63 + 16383);
    }
  } else {
    E = static_cast<unsigned>(Exp - 1023 + 16383);
    M = (uint64_t{1} << 63) | (Frac << 11);
  }
  for (int I = 0; I < 8; ++I) Bytes[I] = static_cast<uint8_t>(M >> (8 * I));
  unsigned SignExp = (Sign << 15) | E;
  Bytes[8] = static_cast<uint8_t>(SignExp);
  Bytes[9] = static_cast<uint8_t>(SignExp >> 8);
}
