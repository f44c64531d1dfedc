#include "platform/rtl/Numbers.h"

#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cmath>
#include <limits>

#include "platform/rtl/Exceptions.h"

namespace {

TEST(Round, TiesGoToEven) {
  struct Case {
    double X;
    Int64 Expected;
  };
  const Case Cases[] = {
      {0.5, 0},        {1.5, 2},         {2.5, 2},          {3.5, 4},         {-0.5, 0},
      {-1.5, -2},      {-2.5, -2},       {12.5, 12},        {13.5, 14},       {0.49999999999999994, 0},
      {2.5000000000000004, 3},           {-2.4999999999999996, -2},           {1e15 + 0.5, 1000000000000000},
      {4503599627370497.0, 4503599627370497},               {-9223372036854775808.0, INT64_MIN},
  };
  for (const Case& C : Cases) EXPECT_EQ(Round(C.X), C.Expected) << C.X;
}

TEST(Round, TariffHundredthsOfTheCardRecord) {
  // A tariff is written as Round(T * 100) AND $FFFF.
  EXPECT_EQ(Round(23.14 * 100.0) & 0xFFFF, 0x090A);
  EXPECT_EQ(Round(-1.00 * 100.0) & 0xFFFF, 0xFF9C);
  EXPECT_EQ(Round(655.35 * 100.0) & 0xFFFF, 0xFFFF);
  EXPECT_EQ(Round(655.36 * 100.0) & 0xFFFF, 0x0000);
}

TEST(Round, AndTruncRefuseWhatHasNoInt64) {
  const double Bad[] = {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
                        -std::numeric_limits<double>::infinity(), 9223372036854775808.0, -9.3e18, 1e300};
  for (double X : Bad) {
    EXPECT_THROW(Round(X), EInvalidOp) << X;
    EXPECT_THROW(Trunc(X), EInvalidOp) << X;
  }
}

TEST(Trunc, FracAndIntKeepTheSign) {
  struct Case {
    double X;
    Int64 T;
    double F;
    double I;
  };
  const Case Cases[] = {{1.75, 1, 0.75, 1.0}, {-1.75, -1, -0.75, -1.0}, {0.0, 0, 0.0, 0.0}, {-0.25, 0, -0.25, -0.0},
                        {1e18, 1000000000000000000, 0.0, 1e18}};
  for (const Case& C : Cases) {
    EXPECT_EQ(Trunc(C.X), C.T) << C.X;
    EXPECT_EQ(Frac(C.X), C.F) << C.X;
    EXPECT_EQ(Int(C.X), C.I) << C.X;
  }
  EXPECT_EQ(Ceil(1.2), 2);
  EXPECT_EQ(Ceil(-1.2), -1);
  EXPECT_EQ(Floor(-1.2), -2);
  EXPECT_THROW(Floor(3e9), EInvalidOp);
}

TEST(IntegerDivision, TruncatesTowardZero) {
  struct Case {
    Integer A, B, Div, Mod;
  };
  const Case Cases[] = {{7, 2, 3, 1},     {-7, 2, -3, -1},          {7, -2, -3, 1},
                        {-7, -2, 3, -1},  {INT32_MIN, 1, INT32_MIN, 0}, {INT32_MIN, 2, -1073741824, 0}};
  for (const Case& C : Cases) {
    EXPECT_EQ(IntDiv(C.A, C.B), C.Div) << C.A << " div " << C.B;
    EXPECT_EQ(IntMod(C.A, C.B), C.Mod) << C.A << " mod " << C.B;
  }
  EXPECT_EQ(IntMod(INT32_MIN, -1), 0);
  EXPECT_THROW(IntDiv(1, 0), EDivByZero);
  EXPECT_THROW(IntMod(1, 0), EDivByZero);
  EXPECT_THROW(IntDiv(INT32_MIN, -1), EIntOverflow);
  EXPECT_THROW(IntDiv(INT64_MIN, Int64{-1}), EIntOverflow);
  EXPECT_EQ(IntMod(Int64{-100000000007}, Int64{100000000}), -7);
}

TEST(Wrapping, ArithmeticWrapsLikeTheMachine) {
  EXPECT_EQ(WrapAdd(MaxInt, 1), MinInt);
  EXPECT_EQ(WrapSub(MinInt, 1), MaxInt);
  EXPECT_EQ(WrapMul(65536, 65536), 0);
  EXPECT_EQ(WrapMul(MaxInt, 2), -2);
  EXPECT_EQ(WrapNeg(MinInt), MinInt);
  EXPECT_EQ(WrapSub(Cardinal{5}, Cardinal{10}), 0xFFFFFFFBu);  // tick counts across the wrap
  EXPECT_EQ(WrapAdd(MaxInt64, Int64{1}), MinInt64);
  EXPECT_EQ(LowInteger(Int64{0x1FFFFFFFF}), -1);
}

TEST(MulDiv, RoundsHalfAwayFromZeroAndFailsWithMinusOne) {
  struct Case {
    Integer A, B, C, Expected;
  };
  const Case Cases[] = {
      {10, 3, 4, 8},   {-10, 3, 4, -8},   {10, -3, 4, -8},  {10, 3, -4, -8}, {-10, -3, -4, -8},
      {5, 1, 2, 3},    {-5, 1, 2, -3},    {1, 1, 3, 0},     {2, 1, 3, 1},    {-2, 1, 3, -1},
      {100, 96, 96, 100},                 {300, 101, 301, 101},              {7, 0, 5, 0},
      {MaxInt, MaxInt, MaxInt, MaxInt},   {MinInt, 1, 1, MinInt},           {MinInt, -1, 2, 1073741824},
      {1, 2, 0, -1},   {MaxInt, 2, 1, -1}, {MinInt, -1, 1, -1}, {MinInt, MinInt, 1, -1},
  };
  for (const Case& C : Cases) EXPECT_EQ(MulDiv(C.A, C.B, C.C), C.Expected) << C.A << "*" << C.B << "/" << C.C;
}

TEST(Random, IsDeterministicForASeedAndStaysInRange) {
  RandSeed = 12345;
  Integer First[5];
  for (Integer& V : First) V = Random(100);
  RandSeed = 12345;
  for (Integer V : First) EXPECT_EQ(Random(100), V);

  RandSeed = 0;
  EXPECT_EQ(Random(100), 0);  // the seed becomes 1
  EXPECT_EQ(RandSeed, 1);
  EXPECT_EQ(Random(0), 0);
  EXPECT_EQ(Random(-5), 0);
  for (int I = 0; I < 1000; ++I) {
    Integer V = Random(7);
    ASSERT_GE(V, 0);
    ASSERT_LT(V, 7);
    double D = Random();
    ASSERT_GE(D, 0.0);
    ASSERT_LT(D, 1.0);
  }
}

TEST(CurrencyType, ConvertsFromDoubleWithTiesToEven) {
  struct Case {
    double X;
    Int64 Raw;
  };
  const Case Cases[] = {{1.5, 15000},         {-2.71828, -27183},   {1.23456, 12346},
                        {0.00004, 0},         {-0.00006, -1},       {23.14, 231400},
                        {922337203685477.0, 9223372036854770000}, {-922337203685477.0, -9223372036854770000}};
  for (const Case& C : Cases) EXPECT_EQ(Currency(C.X).Raw(), C.Raw) << C.X;
  EXPECT_THROW(Currency(1e15), EInvalidOp);
  EXPECT_THROW((void)Currency(std::numeric_limits<double>::quiet_NaN()), EInvalidOp);
  EXPECT_THROW((void)Currency(std::numeric_limits<double>::infinity()), EInvalidOp);
  EXPECT_EQ(Currency(Int64{922337203685477}).Raw(), 9223372036854770000);
  EXPECT_THROW(Currency(Int64{922337203685478}), EOverflow);
  EXPECT_EQ(Currency(-7).Raw(), -70000);
  EXPECT_EQ(Currency::FromRaw(12345).ToDouble(), 1.2345);
  EXPECT_EQ(static_cast<double>(MaxCurrency), 922337203685477.5807);
}

TEST(CurrencyType, ArithmeticRoundsToFourDecimalsAndChecksRange) {
  struct Case {
    Int64 A, B, Sum, Difference, Product, Quotient;
  };
  // Raw values (x 10 000).
  const Case Cases[] = {
      {15000, 22500, 37500, -7500, 33750, 6667},        // 1.5, 2.25
      {10000, 30000, 40000, -20000, 30000, 3333},       // 1, 3
      {-10000, 30000, 20000, -40000, -30000, -3333},    // -1, 3
      {5, 5000, 5005, -4995, 2, 10},                    // 0.0005 * 0.5 = 0.00025 -> 0.0002 (even)
      {15, 5000, 5015, -4985, 8, 30},                   // 0.0015 * 0.5 = 0.00075 -> 0.0008 (even)
  };
  for (const Case& C : Cases) {
    Currency A = Currency::FromRaw(C.A), B = Currency::FromRaw(C.B);
    EXPECT_EQ((A + B).Raw(), C.Sum) << C.A << " " << C.B;
    EXPECT_EQ((A - B).Raw(), C.Difference) << C.A << " " << C.B;
    EXPECT_EQ((A * B).Raw(), C.Product) << C.A << " " << C.B;
    EXPECT_EQ((A / B).Raw(), C.Quotient) << C.A << " " << C.B;
  }
  EXPECT_THROW(MaxCurrency + Currency::FromRaw(1), EOverflow);
  EXPECT_THROW(MinCurrency - Currency::FromRaw(1), EOverflow);
  EXPECT_THROW(-MinCurrency, EOverflow);
  EXPECT_THROW(MaxCurrency * Currency(2), EOverflow);
  EXPECT_THROW(Currency(1) / Currency(), EZeroDivide);
  EXPECT_EQ((-MaxCurrency).Raw(), -INT64_MAX);
  EXPECT_LT(MinCurrency, Currency());
  EXPECT_EQ(Currency(2) * 3, Currency(6));
  Currency Total;
  Total += 2.5;
  Total -= Currency(1);
  EXPECT_EQ(Total.Raw(), 15000);
}

using Bytes10 = std::array<uint8_t, 10>;

Bytes10 ToExtended(double V) {
  Bytes10 B{};
  DoubleToExtended(V, B.data());
  return B;
}

// An extended value from its sign, biased exponent and 64-bit mantissa.
Bytes10 Ext(unsigned Sign, unsigned Exponent, uint64_t Mantissa) {
  Bytes10 B{};
  for (int I = 0; I < 8; ++I) B[I] = static_cast<uint8_t>(Mantissa >> (8 * I));
  unsigned SE = (Sign << 15) | Exponent;
  B[8] = static_cast<uint8_t>(SE);
  B[9] = static_cast<uint8_t>(SE >> 8);
  return B;
}

TEST(Extended, HandMadeFixturesBothWays) {
  struct Case {
    double Value;
    Bytes10 Bytes;
  };
  const Case Cases[] = {
      {1.0, {0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F}},
      {-2.0, {0, 0, 0, 0, 0, 0, 0, 0x80, 0x00, 0xC0}},
      {0.5, {0, 0, 0, 0, 0, 0, 0, 0x80, 0xFE, 0x3F}},
      {10.0, {0, 0, 0, 0, 0, 0, 0, 0xA0, 0x02, 0x40}},
      {0.0, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
      {-0.0, {0, 0, 0, 0, 0, 0, 0, 0, 0x00, 0x80}},
      {std::numeric_limits<double>::infinity(), {0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x7F}},
      {-std::numeric_limits<double>::infinity(), {0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0xFF}},
      {MaxDouble, {0x00, 0xF8, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFE, 0x43}},
      {MinDouble, {0, 0, 0, 0, 0, 0, 0, 0x80, 0xCD, 0x3B}},             // denormal: normal in extended
      {2.2250738585072014e-308, {0, 0, 0, 0, 0, 0, 0, 0x80, 0x01, 0x3C}},  // smallest normal
  };
  for (const Case& C : Cases) {
    EXPECT_EQ(ToExtended(C.Value), C.Bytes) << C.Value;
    double Back = ExtendedToDouble(C.Bytes.data());
    EXPECT_EQ(std::bit_cast<uint64_t>(Back), std::bit_cast<uint64_t>(C.Value)) << C.Value;
  }
}

TEST(Extended, EveryDoubleRoundTrips) {
  const double Values[] = {3.141592653589793, -1e-310, 2.5e-320, 123456789.125, -7.0e300, 1.0 / 3.0, 23.14};
  for (double V : Values) {
    Bytes10 B = ToExtended(V);
    EXPECT_EQ(std::bit_cast<uint64_t>(ExtendedToDouble(B.data())), std::bit_cast<uint64_t>(V)) << V;
  }
}

TEST(Extended, NaNsStayNaNs) {
  Bytes10 Q = ToExtended(std::numeric_limits<double>::quiet_NaN());
  EXPECT_EQ(Q, Ext(0, 0x7FFF, 0xC000000000000000ull));
  const Bytes10 NaNs[] = {Ext(0, 0x7FFF, 0xC000000000000000ull), Ext(1, 0x7FFF, 0xC000000000000001ull),
                          Ext(0, 0x7FFF, 0x8000000000000001ull),  // signalling: comes back quiet
                          Ext(0, 0x7FFF, 0)};                     // pseudo-infinity: invalid, read as NaN
  for (const Bytes10& B : NaNs) EXPECT_TRUE(std::isnan(ExtendedToDouble(B.data())));
  EXPECT_TRUE(std::signbit(ExtendedToDouble(NaNs[1].data())));
}

TEST(Extended, NarrowingRoundsToNearestEven) {
  const uint64_t One = 0x8000000000000000ull;
  struct Case {
    Bytes10 Bytes;
    double Expected;
  };
  const Case Cases[] = {
      {Ext(0, 0x3FFF, One | (1ull << 10)), 1.0},                            // 1 + 2^-53: tie, even
      {Ext(0, 0x3FFF, One | (1ull << 10) | 1), 1.0 + 0x1p-52},             // just above the tie
      {Ext(0, 0x3FFF, One | (3ull << 10)), 1.0 + 0x1p-51},                 // 1 + 3 * 2^-53: tie, even
      {Ext(0, 0x3FFF, 0xFFFFFFFFFFFFFFFFull), 2.0},                         // carries into the exponent
      {Ext(0, 0x43FE, 0xFFFFFFFFFFFFFFFFull), std::numeric_limits<double>::infinity()},
      {Ext(1, 0x7000, One), -std::numeric_limits<double>::infinity()},     // beyond the double range
      {Ext(0, 0x0001, One), 0.0},                                           // far below it
      {Ext(0, 16383 - 1075, One), 0.0},                                     // half the smallest denormal: even
      {Ext(0, 16383 - 1075, One | (One >> 1)), MinDouble},                  // 0.75 of it
      {Ext(0, 16383 - 1074, One | (One >> 1)), 2 * MinDouble},              // 1.5 of it: tie, even
      {Ext(0, 16383 - 1023, 0xFFFFFFFFFFFFFFFFull), 2.2250738585072014e-308},  // up to the smallest normal
      {Ext(0, 0, 0x0000000000000001ull), 0.0},                              // extended denormal
      {Ext(0, 0x3FFF, 0x4000000000000000ull), 0.5},                        // unnormal: taken at its value
  };
  for (const Case& C : Cases) EXPECT_EQ(ExtendedToDouble(C.Bytes.data()), C.Expected) << C.Expected;
}

}  // namespace
