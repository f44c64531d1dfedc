#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "platform/rtl/CodePages.h"
#include "platform/rtl/FMTBcd.h"
#include "platform/rtl/Locale.h"

namespace {

class BcdTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Saved = SystemLocale();
    SetSystemLocale(TSystemLocale::EnglishUS);
  }
  void TearDown() override { SetSystemLocale(Saved); }
  TSystemLocale Saved = TSystemLocale::Turkish;
};

TBcd B(const char16_t* S) { return StrToBcd(S); }
String S(const TBcd& X) { return BcdToStr(X); }
std::string Utf8(const String& T) { return UTF16ToUTF8(T); }

TEST_F(BcdTest, TextRoundTrips) {
  const String Sixty4 = String(32, u'9') + u"." + String(32, u'1');
  struct Case {
    String In, Out;
  } Cases[] = {
      {u"0", u"0"},
      {u"-0", u"0"},
      {u"", u"0"},  // blank text is zero
      {u"  7  ", u"7"},
      {u"+7", u"7"},
      {u"12.50", u"12.5"},
      {u"-123.456", u"-123.456"},
      {u"0.05", u"0.05"},
      {u".5", u"0.5"},
      {u"5.", u"5"},
      {u"007.100", u"7.1"},
      {u"1e3", u"1000"},
      {u"1.5E-2", u"0.015"},
      {u"-2.5e+1", u"-25"},
      {u"0e-99", u"0"},
      {u"1e-99", u"0"},  // beyond 63 decimals
      {Sixty4, Sixty4},
      {String(64, u'9'), String(64, u'9')},
      {u"0." + String(70, u'3'), u"0." + String(63, u'3')},  // decimals rounded to fit 64 digits
      {u"0." + String(63, u'0') + u"5", u"0." + String(62, u'0') + u"1"},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(Utf8(C.In));
    TBcd X;
    ASSERT_TRUE(TryStrToBcd(C.In, X));
    EXPECT_EQ(S(X), C.Out);
    EXPECT_EQ(S(B(S(X).c_str())), C.Out);
  }
}

TEST_F(BcdTest, BadTextIsRefused) {
  const String Bad[] = {u"abc",  u"1.2.3",   u"1,5", u"--1", u"+-1",  u"1e", u"1e+",
                        u".",    u"-",       u"1 2", u"12a", u"0x10", u"١٢", String(65, u'9'),
                        u"1e64", u"1e99999", u"NAN", u"INF"};
  for (const String& T : Bad) {
    SCOPED_TRACE(Utf8(T));
    TBcd X;
    EXPECT_FALSE(TryStrToBcd(T, X));
    EXPECT_THROW(StrToBcd(T), EBcdException);
  }
  try {
    StrToBcd(u"x1");
  } catch (const EBcdException& E) {
    EXPECT_EQ(E.Message(), u"'x1' is not a valid BCD value");
  }
}

TEST_F(BcdTest, TextUsesTheLocaleDecimalSeparator) {
  TFormatSettings Tr = TFormatSettings::Create(LOCALE_TURKISH);
  TBcd X;
  ASSERT_TRUE(TryStrToBcd(u"-1,25", X, Tr));
  EXPECT_EQ(BcdToStr(X, Tr), u"-1,25");
  EXPECT_FALSE(TryStrToBcd(u"1.25", X, Tr));
}

TEST_F(BcdTest, RecordLayout) {
  TBcd X = B(u"12.5");
  EXPECT_EQ(X.Precision, 3);
  EXPECT_EQ(X.SignSpecialPlaces, 1);
  EXPECT_EQ(X.Fraction[0], 0x12);
  EXPECT_EQ(X.Fraction[1], 0x50);
  TBcd Y = B(u"-0.05");
  EXPECT_EQ(Y.Precision, 2);
  EXPECT_EQ(Y.SignSpecialPlaces, 0x82);
  EXPECT_EQ(Y.Fraction[0], 0x05);
  EXPECT_EQ(S(NullBcd), u"0");
  EXPECT_EQ(BcdPrecision(X), 3 - 1);
  EXPECT_EQ(BcdScale(X), 1);
  EXPECT_TRUE(IsBcdNegative(Y));
  EXPECT_FALSE(IsBcdNegative(B(u"-0")));

  // Records that are not decimals are refused, not read past their end.
  TBcd Bad = X;
  Bad.Fraction[0] = 0x1A;
  EXPECT_THROW(BcdToStr(Bad), EBcdException);
  Bad = X;
  Bad.Precision = 65;
  EXPECT_THROW(BcdToDouble(Bad), EBcdException);
}

TEST_F(BcdTest, Compare) {
  struct Case {
    const char16_t *A, *B;
    int Expected;
  } Cases[] = {
      {u"1", u"1.000", 0},     {u"-1", u"1", -1},      {u"0", u"-0", 0},          {u"0.1", u"0.09", 1},
      {u"-0.1", u"-0.09", -1}, {u"100", u"99.999", 1}, {u"-100", u"-99.999", -1}, {u"12.5", u"12.50", 0},
  };
  for (const Case& C : Cases) {
    EXPECT_EQ(BcdCompare(B(C.A), B(C.B)), C.Expected) << Utf8(C.A) << " vs " << Utf8(C.B);
    EXPECT_EQ(BcdCompare(B(C.B), B(C.A)), -C.Expected);
  }
}

TEST_F(BcdTest, ArithmeticIsExact) {
  enum Op { Add, Sub, Mul, Div };
  struct Case {
    const char16_t *A, *B;
    Op O;
    String Expected;
  } Cases[] = {
      {u"0.1", u"0.2", Add, u"0.3"},
      {u"-5", u"2.25", Add, u"-2.75"},
      {u"1", u"1", Sub, u"0"},
      {u"0.3", u"0.1", Sub, u"0.2"},
      {u"2", u"3.5", Sub, u"-1.5"},
      {u"1.5", u"-1.5", Mul, u"-2.25"},
      {u"123456789.123456789", u"1000", Mul, u"123456789123.456789"},
      {u"10", u"4", Div, u"2.5"},
      {u"-1", u"8", Div, u"-0.125"},
      {u"2", u"3", Div, u"0." + String(63, u'6').substr(0, 62) + u"7"},
      {u"0", u"7", Div, u"0"},
  };
  for (const Case& C : Cases) {
    TBcd R;
    switch (C.O) {
      case Add:
        BcdAdd(B(C.A), B(C.B), R);
        break;
      case Sub:
        BcdSubtract(B(C.A), B(C.B), R);
        break;
      case Mul:
        BcdMultiply(B(C.A), B(C.B), R);
        break;
      case Div:
        BcdDivide(B(C.A), B(C.B), R);
        break;
    }
    EXPECT_EQ(Utf8(S(R)), Utf8(C.Expected)) << Utf8(C.A) << " op " << C.O << " " << Utf8(C.B);
  }
  TBcd R;
  EXPECT_THROW(BcdDivide(B(u"1"), B(u"0"), R), EZeroDivide);
  EXPECT_THROW(BcdAdd(B(String(64, u'9').c_str()), B(u"1"), R), EBcdOverflowException);
  EXPECT_THROW(BcdMultiply(B(String(40, u'9').c_str()), B(String(40, u'9').c_str()), R),
               EBcdOverflowException);
  // Products with too many decimals keep 64 digits, rounded.
  BcdMultiply(B(u"1e-37"), B(u"5e-27"), R);
  EXPECT_EQ(S(R), u"0." + String(62, u'0') + u"1");
}

// Sums, differences, products and comparisons of random decimals against the
// same operations on integers scaled to four decimals.
TEST_F(BcdTest, ArithmeticAgreesWithScaledIntegers) {
  UInt64 Seed = 12345;
  auto Next = [&Seed] {
    Seed = Seed * 6364136223846793005u + 1442695040888963407u;
    return Seed >> 33;
  };
  auto Text = [](__int128 Scaled, int Scale) {  // exact text of Scaled / 10^Scale
    bool Neg = Scaled < 0;
    unsigned __int128 M =
        Neg ? -static_cast<unsigned __int128>(Scaled) : static_cast<unsigned __int128>(Scaled);
    std::string Digits;
    do {
      Digits.insert(Digits.begin(), static_cast<char>('0' + static_cast<int>(M % 10)));
      M /= 10;
    } while (M);
    if (Scale > 0) {
      if (Digits.size() <= static_cast<size_t>(Scale)) Digits.insert(0, Scale - Digits.size() + 1, '0');
      Digits.insert(Digits.size() - Scale, ".");
      while (Digits.back() == '0') Digits.pop_back();
      if (Digits.back() == '.') Digits.pop_back();
    }
    return (Neg && Digits != "0" ? "-" : "") + Digits;
  };
  for (int I = 0; I < 2000; ++I) {
    Int64 A = static_cast<Int64>(Next() % 2000000001) - 1000000000;
    Int64 Bv = static_cast<Int64>(Next() % 2000000001) - 1000000000;
    int SA = static_cast<int>(Next() % 5), SB = static_cast<int>(Next() % 5);
    TBcd X = StrToBcd(UTF8ToUTF16(Text(A, SA))), Y = StrToBcd(UTF8ToUTF16(Text(Bv, SB)));
    const Int64 Pow[] = {10000, 1000, 100, 10, 1};
    Int64 A4 = A * Pow[SA], B4 = Bv * Pow[SB];  // both with four decimals
    TBcd R;
    BcdAdd(X, Y, R);
    ASSERT_EQ(Utf8(S(R)), Text(A4 + B4, 4));
    BcdSubtract(X, Y, R);
    ASSERT_EQ(Utf8(S(R)), Text(A4 - B4, 4));
    BcdMultiply(X, Y, R);
    ASSERT_EQ(Utf8(S(R)), Text(static_cast<__int128>(A4) * B4, 8));
    ASSERT_EQ(BcdCompare(X, Y), A4 < B4 ? -1 : (A4 > B4 ? 1 : 0));
    if (Bv != 0) {  // (X / Y) * Y comes back to X within the quotient's last digit
      TBcd Q, Back, Diff;
      BcdDivide(X, Y, Q);
      BcdMultiply(Q, Y, Back);
      BcdSubtract(Back, X, Diff);
      ASSERT_LT(std::fabs(BcdToDouble(Diff)), 1e-40) << Text(A, SA) << " / " << Text(Bv, SB);
    }
  }
}

TEST_F(BcdTest, DoublesAndIntegers) {
  EXPECT_EQ(BcdToDouble(B(u"23.14")), 23.14);
  EXPECT_EQ(BcdToDouble(B(u"-0.1")), -0.1);
  EXPECT_EQ(BcdToDouble(B(String(64, u'9').c_str())), 1e64);
  EXPECT_EQ(S(DoubleToBcd(0.1)), u"0.1");
  EXPECT_EQ(S(DoubleToBcd(1.0 / 3)), u"0.333333333333333");
  EXPECT_EQ(S(DoubleToBcd(1e20)), u"100000000000000000000");
  EXPECT_EQ(S(DoubleToBcd(-2.5e-10)), u"-0.00000000025");
  EXPECT_EQ(S(DoubleToBcd(5e-324)), u"0");
  EXPECT_THROW(DoubleToBcd(std::nan("")), EBcdException);
  EXPECT_THROW(DoubleToBcd(std::numeric_limits<double>::infinity()), EBcdException);

  EXPECT_EQ(S(IntegerToBcd(MinInt64)), u"-9223372036854775808");
  EXPECT_EQ(BcdToInt64(B(u"-9223372036854775808")), MinInt64);
  EXPECT_THROW(BcdToInt64(B(u"9223372036854775808")), EBcdOverflowException);
  EXPECT_EQ(BcdToInteger(B(u"2.5")), 3);  // half away from zero
  EXPECT_EQ(BcdToInteger(B(u"-2.5")), -3);
  EXPECT_EQ(BcdToInteger(B(u"-2.9"), true), -2);
  EXPECT_THROW(BcdToInteger(B(u"2147483648")), EBcdOverflowException);
}

TEST_F(BcdTest, Currency) {
  Currency C;
  ASSERT_TRUE(BCDToCurr(B(u"1.23456"), C));
  EXPECT_EQ(C.Raw(), 12346);
  ASSERT_TRUE(BCDToCurr(B(u"-922337203685477.5808"), C));
  EXPECT_EQ(C, MinCurrency);
  EXPECT_FALSE(BCDToCurr(B(u"922337203685477.5808"), C));
  TBcd X;
  ASSERT_TRUE(CurrToBCD(Currency::FromRaw(-12345), X));
  EXPECT_EQ(S(X), u"-1.2345");
  EXPECT_EQ(X.Precision, 32);
  EXPECT_EQ(BcdScale(X), 4);
  ASSERT_TRUE(CurrToBCD(Currency::FromRaw(12345), X, 10, 2));
  EXPECT_EQ(S(X), u"1.23");
  EXPECT_FALSE(CurrToBCD(MaxCurrency, X, 10, 2));
}

TEST_F(BcdTest, NormalizeAndFormat) {
  TBcd X;
  ASSERT_TRUE(NormalizeBcd(B(u"12.345"), X, 5, 2));
  EXPECT_EQ(S(X), u"12.35");
  EXPECT_EQ(X.Precision, 5);
  EXPECT_EQ(BcdScale(X), 2);
  EXPECT_FALSE(NormalizeBcd(B(u"1234.5"), X, 5, 2));
  EXPECT_FALSE(NormalizeBcd(B(u"1"), X, 2, 3));
  EXPECT_FALSE(NormalizeBcd(B(u"1"), X, 65, 0));

  struct Case {
    const char16_t* In;
    TFloatFormat F;
    int Precision, Digits;
    const char16_t* Out;
  } Cases[] = {
      {u"1234.565", ffFixed, 15, 2, u"1234.57"},
      {u"-1234.565", ffFixed, 15, 2, u"-1234.57"},
      {u"-0.001", ffFixed, 15, 2, u"0.00"},
      {u"5", ffFixed, 15, 0, u"5"},
      {u"1234567.891", ffNumber, 15, 2, u"1,234,567.89"},
      {u"123.456", ffGeneral, 4, 0, u"123.5"},
      {u"0.000123456", ffGeneral, 3, 0, u"0.000123"},
      {u"123456789012345678901234567890.5", ffFixed, 40, 1, u"123456789012345678901234567890.5"},
      {u"1.5", ffCurrency, 15, 2, u"$1.50"},
  };
  for (const Case& C : Cases)
    EXPECT_EQ(Utf8(BcdToStrF(B(C.In), C.F, C.Precision, C.Digits)), Utf8(C.Out)) << Utf8(C.In);
  // The locale's currency decimals and separators.
  TFormatSettings Tr = TFormatSettings::Create(LOCALE_TURKISH);
  EXPECT_EQ(BcdToStrF(StrToBcd(u"1234,5", Tr), ffFixed, 15, Tr.CurrencyDecimals, Tr), u"1234,50");
}

TEST_F(BcdTest, VariantType) {
  Variant V = VarFMTBcdCreate(u"12.5", 10, 2);
  EXPECT_TRUE(VarIsFMTBcd(V));
  EXPECT_EQ(VarType(V), VarFMTBcd());
  EXPECT_EQ(VarToStr(V), u"12.5");
  EXPECT_EQ(V.AsDouble(), 12.5);
  EXPECT_EQ(V.AsCurrency(), Currency(12.5));
  EXPECT_EQ(V.AsInteger(), 13);
  EXPECT_TRUE(V.AsBoolean());
  EXPECT_EQ(VarToBcd(V).Precision, 10);
  EXPECT_THROW(VarFMTBcdCreate(u"123456789", 10, 2), EBcdOverflowException);
  EXPECT_EQ(VarToStr(VarFMTBcdCreate(2.0 / 3)), u"0.6667");  // 18 digits, 4 decimals

  // Compares with numbers, number text and other decimals.
  EXPECT_TRUE(V == Variant(12.5));
  EXPECT_TRUE(Variant(12.5) == V);
  EXPECT_TRUE(V > Variant(12));
  EXPECT_TRUE(Variant(Currency(13)) > V);
  EXPECT_TRUE(V == Variant(u"12.50"));
  EXPECT_TRUE(V < VarFMTBcdCreate(u"12.51", 10, 2));
  EXPECT_TRUE(Null() < V);
  EXPECT_FALSE(V == Null());
  EXPECT_EQ(VarCompareValue(V, 12.5), vrEqual);
  EXPECT_THROW((void)(V == Variant(u"abc")), EVariantTypeCastError);

  // Sums and averages stay decimal.
  Variant Sum = VarFMTBcdCreate(u"0", 10, 0);
  for (int I = 0; I < 10; ++I) Sum = Sum + VarFMTBcdCreate(u"0.1", 10, 1);
  EXPECT_TRUE(VarIsFMTBcd(Sum));
  EXPECT_EQ(VarToStr(Sum), u"1");
  EXPECT_EQ(VarToStr(Sum / 4), u"0.25");
  EXPECT_EQ(VarToStr(2 * V - 1), u"24");
  EXPECT_EQ(VarToStr(-V), u"-12.5");
  EXPECT_TRUE(VarIsNull(V + Null()));
  EXPECT_EQ(VarType(VarIntDiv(V, 2)), varInteger);
  EXPECT_THROW(V / 0, EZeroDivide);

  // Conversions into the type.
  EXPECT_EQ(VarToStr(VarAsType(1.25, VarFMTBcd())), u"1.25");
  EXPECT_EQ(VarToStr(VarAsType(Int64(-7), VarFMTBcd())), u"-7");
  EXPECT_EQ(VarToStr(VarAsType(Currency::FromRaw(5), VarFMTBcd())), u"0.0005");
  EXPECT_EQ(VarToStr(VarAsType(Unassigned(), VarFMTBcd())), u"0");
  EXPECT_THROW(VarAsType(u"abc", VarFMTBcd()), EVariantTypeCastError);
  EXPECT_THROW(VarAsType(Null(), VarFMTBcd()), EVariantTypeCastError);
  EXPECT_THROW(VarFMTBcdCreate(u"3000000000", 40, 0).AsInteger(), EVariantOverflowError);
  EXPECT_THROW(VarAsType(VarFMTBcdCreate(u"1e30", 40, 0), varInteger), EVariantOverflowError);
  EXPECT_EQ(VarToStr(VarAsType(V, varInteger)), u"13");
}

}  // namespace
