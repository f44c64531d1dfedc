// Numbers: rounding, integer arithmetic that never overflows into undefined
// behaviour, MulDiv, the random generator, the Currency type and the 10-byte
// x87 extended float as bytes.
#pragma once

#include <compare>

#include "platform/rtl/Types.h"

// Limits of the floating-point types.
constexpr double MaxDouble = 1.7976931348623157081e+308;
constexpr double MinDouble = 4.9406564584124654418e-324;  // the smallest denormal
constexpr Integer MinInt = INT32_MIN;
constexpr Cardinal MaxCardinal = UINT32_MAX;

// Round to the nearest integer, ties to even (Round(2.5) = 2, Round(3.5) = 4).
// NaN, infinities and values outside the Int64 range raise EInvalidOp.
Int64 Round(double X);
// Toward zero; NaN, infinities and values outside the Int64 range raise EInvalidOp.
Int64 Trunc(double X);
// The fractional part, with the sign of X: Frac(-1.25) = -0.25.
double Frac(double X);
// The integral part as a double, toward zero: Int(-1.75) = -1.0.
double Int(double X);
// Math routines under their platform names.
double Sqrt(double X);
double Power(double Base, double Exponent);
double ArcTan2(double Y, double X);
// Smallest integer >= X and greatest integer <= X; EInvalidOp outside Integer.
Integer Ceil(double X);
Integer Floor(double X);

// div and mod: truncate toward zero, the remainder has the sign of the
// dividend. A zero divisor raises EDivByZero; MinInt div -1 raises EIntOverflow.
Integer IntDiv(Integer A, Integer B);
Integer IntMod(Integer A, Integer B);
Int64 IntDiv(Int64 A, Int64 B);
Int64 IntMod(Int64 A, Int64 B);

// Two's-complement arithmetic that wraps as the platform's unchecked
// arithmetic does (sums, differences, tick counts), without undefined behaviour.
constexpr Integer WrapAdd(Integer A, Integer B) {
  return static_cast<Integer>(static_cast<Cardinal>(A) + static_cast<Cardinal>(B));
}
constexpr Integer WrapSub(Integer A, Integer B) {
  return static_cast<Integer>(static_cast<Cardinal>(A) - static_cast<Cardinal>(B));
}
constexpr Integer WrapMul(Integer A, Integer B) {
  return static_cast<Integer>(static_cast<Cardinal>(A) * static_cast<Cardinal>(B));
}
constexpr Integer WrapNeg(Integer A) { return static_cast<Integer>(0u - static_cast<Cardinal>(A)); }
constexpr Cardinal WrapAdd(Cardinal A, Cardinal B) { return A + B; }
constexpr Cardinal WrapSub(Cardinal A, Cardinal B) { return A - B; }
constexpr Cardinal WrapMul(Cardinal A, Cardinal B) { return A * B; }
constexpr Int64 WrapAdd(Int64 A, Int64 B) {
  return static_cast<Int64>(static_cast<UInt64>(A) + static_cast<UInt64>(B));
}
constexpr Int64 WrapSub(Int64 A, Int64 B) {
  return static_cast<Int64>(static_cast<UInt64>(A) - static_cast<UInt64>(B));
}
constexpr Int64 WrapMul(Int64 A, Int64 B) {
  return static_cast<Int64>(static_cast<UInt64>(A) * static_cast<UInt64>(B));
}
// The low 32 bits of a wider value, as the platform's assignment keeps them.
constexpr Integer LowInteger(Int64 A) { return static_cast<Integer>(static_cast<Cardinal>(static_cast<UInt64>(A))); }

// (Number * Numerator) / Denominator with a 64-bit intermediate, rounded half
// away from zero; -1 when the divisor is 0 or the result does not fit 32 bits.
Integer MulDiv(Integer Number, Integer Numerator, Integer Denominator);

// The platform's linear congruential generator: RandSeed := RandSeed *
// 134775813 + 1. Random(N) gives 0 <= r < N (0 when N <= 0), Random() a double
// in [0, 1). Randomize seeds it from the clock. RandSeed may be set directly.
extern Integer RandSeed;
void Randomize();
Integer Random(Integer Range);
double Random();

// 64-bit fixed point with four decimals: the value times 10 000.
class Currency {
 public:
  constexpr Currency() = default;
  constexpr Currency(Integer V) : FValue(static_cast<Int64>(V) * 10000) {}
  constexpr Currency(Cardinal V) : FValue(static_cast<Int64>(V) * 10000) {}
  // Raises EOverflow when V * 10 000 does not fit 64 bits.
  Currency(Int64 V);
  // Rounds V * 10 000 to the nearest, ties to even; EInvalidOp for NaN,
  // infinities and values outside the range.
  Currency(double V);

  // From and to the scaled 64-bit integer (1.5 is 15000).
  static constexpr Currency FromRaw(Int64 Raw) {
    Currency C;
    C.FValue = Raw;
    return C;
  }
  constexpr Int64 Raw() const { return FValue; }

  double ToDouble() const;
  explicit operator double() const { return ToDouble(); }

  friend constexpr bool operator==(Currency A, Currency B) = default;
  friend constexpr std::strong_ordering operator<=>(Currency A, Currency B) = default;

  // Arithmetic raises EOverflow when the result leaves the range; products
  // and quotients round to four decimals, ties to even; x / 0 raises EZeroDivide.
  friend Currency operator+(Currency A, Currency B);
  friend Currency operator-(Currency A, Currency B);
  friend Currency operator*(Currency A, Currency B);
  friend Currency operator/(Currency A, Currency B);
  Currency operator-() const;
  Currency& operator+=(Currency B) { return *this = *this + B; }
  Currency& operator-=(Currency B) { return *this = *this - B; }
  Currency& operator*=(Currency B) { return *this = *this * B; }
  Currency& operator/=(Currency B) { return *this = *this / B; }

 private:
  Int64 FValue = 0;
};

constexpr Currency MaxCurrency = Currency::FromRaw(INT64_MAX);  // 922337203685477.5807
constexpr Currency MinCurrency = Currency::FromRaw(INT64_MIN);  // -922337203685477.5808

// The 10-byte x87 extended float (64-bit mantissa with explicit integer bit,
// 15-bit exponent, sign; little endian) as it stands in streams.
// Values outside the double range become infinities or round to denormals or
// zero, ties to even; NaNs stay NaNs (quiet), with the sign kept.
double ExtendedToDouble(const uint8_t Bytes[10]);
// Exact: every double is an extended value.
void DoubleToExtended(double Value, uint8_t Bytes[10]);
