#include "platform/rtl/Conversions.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>
#include <string>

#include "platform/rtl/CodePages.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Locale.h"

namespace {

std::string U8(const String& S) { return UTF16ToUTF8(S); }
String U16(const std::string& S) { return UTF8ToUTF16(S); }

// English settings with "." and ",", and Turkish ones with "," and ".".
TFormatSettings English() { return TFormatSettings::Create(LOCALE_ENGLISH_US); }
TFormatSettings Turkish() { return TFormatSettings::Create(LOCALE_TURKISH); }

// Restores the process-wide settings after a test that changes them.
class ProcessSettings : public ::testing::Test {
 protected:
  void SetUp() override { FSaved = FormatSettings(); }
  void TearDown() override { FormatSettings() = FSaved; }

 private:
  TFormatSettings FSaved;
};

TEST(IntToStr, DecimalAndHexadecimal) {
  EXPECT_EQ(U8(IntToStr(0)), "0");
  EXPECT_EQ(U8(IntToStr(-2147483647 - 1)), "-2147483648");
  EXPECT_EQ(U8(IntToStr(Int64{-9223372036854775807} - 1)), "-9223372036854775808");
  EXPECT_EQ(U8(IntToStr(Cardinal{4294967295u})), "4294967295");
  EXPECT_EQ(U8(UIntToStr(UInt64{18446744073709551615u})), "18446744073709551615");
  struct Case {
    Int64 Value;
    bool Wide;
    Integer Digits;
    const char* Expected;
  };
  const Case Cases[] = {{255, false, 4, "00FF"}, {0x1234, false, 2, "1234"}, {-1, false, 0, "FFFFFFFF"},
                        {-1, true, 0, "FFFFFFFFFFFFFFFF"}, {0, false, 0, "0"}, {100, false, 4, "0064"},
                        {0xABCDEF, true, 8, "00ABCDEF"}};
  for (const Case& C : Cases) {
    String S = C.Wide ? IntToHex(C.Value, C.Digits) : IntToHex(static_cast<Integer>(C.Value), C.Digits);
    EXPECT_EQ(U8(S), C.Expected) << C.Value;
  }
}

TEST(StrToInt, AcceptsThePlatformSyntaxOnly) {
  struct Case {
    const char* Text;
    std::optional<Integer> Expected;
  };
  const Case Cases[] = {
      {"", std::nullopt},         {" ", std::nullopt},         {" 12", 12},
      {"+5", 5},                  {"-0", 0},                   {"$FF", 255},
      {"$00fa", 250},             {"0x10", 16},                {"0X1f", 31},
      {"x1F", 31},                {"  -$10", -16},             {"2147483647", 2147483647},
      {"-2147483648", INT32_MIN}, {"2147483648", std::nullopt}, {"-2147483649", std::nullopt},
      {"$FFFFFFFF", -1},          {"$100000000", std::nullopt}, {"12a", std::nullopt},
      {"12 ", std::nullopt},      {"1 2", std::nullopt},       {"$", std::nullopt},
      {"-", std::nullopt},        {"0x", std::nullopt},        {"$00G0", std::nullopt},
      {"$-5", std::nullopt},      {"--5", std::nullopt},       {"\xD9\xA1\xD9\xA2", std::nullopt},  // Arabic-Indic 12
      {"\xEF\xBC\x91\xEF\xBC\x92", std::nullopt},               // full-width 12
      {"\t12", std::nullopt},     {"1.0", std::nullopt},       {"00000000000000000000000000042", 42},
      {"99999999999999999999999999", std::nullopt},
  };
  for (const Case& C : Cases) {
    Integer V = 777;
    bool Ok = TryStrToInt(U16(C.Text), V);
    EXPECT_EQ(Ok, C.Expected.has_value()) << C.Text;
    if (C.Expected) {
      EXPECT_EQ(V, *C.Expected) << C.Text;
      EXPECT_EQ(StrToInt(U16(C.Text)), *C.Expected) << C.Text;
    } else {
      EXPECT_EQ(V, 777) << C.Text;  // untouched on failure
      EXPECT_THROW(StrToInt(U16(C.Text)), EConvertError) << C.Text;
      EXPECT_EQ(StrToIntDef(U16(C.Text), 250), 250) << C.Text;
    }
  }
  // A NUL inside the text is a bad character, not an end.
  Integer V = 0;
  EXPECT_FALSE(TryStrToInt(String(u"12\0" u"3", 4), V));
}

TEST(StrToInt, ErrorMessageQuotesTheText) {
  try {
    StrToInt(u"12a");
    FAIL();
  } catch (const EConvertError& E) {
    EXPECT_EQ(U8(E.Message()), "'12a' is not a valid integer value");
  }
}

TEST(StrToInt64, FullRangeAndHexPattern) {
  struct Case {
    const char* Text;
    std::optional<Int64> Expected;
  };
  const Case Cases[] = {{"9223372036854775807", INT64_MAX},
                        {"-9223372036854775808", INT64_MIN},
                        {"9223372036854775808", std::nullopt},
                        {"$FFFFFFFFFFFFFFFF", -1},
                        {"$10000000000000000", std::nullopt},
                        {" 4294967291", 4294967291},
                        {"", std::nullopt}};
  for (const Case& C : Cases) {
    Int64 V = 0;
    EXPECT_EQ(TryStrToInt64(U16(C.Text), V), C.Expected.has_value()) << C.Text;
    if (C.Expected) {
      EXPECT_EQ(V, *C.Expected) << C.Text;
    }
  }
  EXPECT_EQ(StrToInt64Def(u"x", -5), -5);
  EXPECT_THROW(StrToInt64(u"1e3"), EConvertError);
}

TEST(Val, ReportsTheErrorPosition) {
  struct Case {
    const char* Text;
    Integer Value;
    Integer Code;
  };
  const Case Cases[] = {{"12", 12, 0},         {"12a", 0, 3},  {"", 0, 1},         {" ", 0, 2},
                        {"-", 0, 2},           {"2147483648", 0, 10},               {"  $1G", 0, 5},
                        {"-2147483648", INT32_MIN, 0}};
  for (const Case& C : Cases) {
    Integer V = -1, Code = -1;
    Val(U16(C.Text), V, Code);
    EXPECT_EQ(Code, C.Code) << C.Text;
    EXPECT_EQ(V, C.Value) << C.Text;
  }
  double D = -1;
  Integer Code = -1;
  Val(u"1.5e2", D, Code);
  EXPECT_EQ(Code, 0);
  EXPECT_EQ(D, 150.0);
  Val(u"1,5", D, Code);
  EXPECT_EQ(Code, 2);
}

TEST(StrToFloat, UsesOnlyTheGivenDecimalSeparator) {
  struct Case {
    const char* Text;
    bool Point;  // "." settings, else ","
    std::optional<double> Expected;
  };
  const Case Cases[] = {
      {"23.14", true, 23.14},        {"23,14", true, std::nullopt},  {"23,14", false, 23.14},
      {"23.14", false, std::nullopt}, {" 1.5 ", true, 1.5},          {"-1.5E-3", true, -0.0015},
      {"1e3", true, 1000.0},         {"1E+3", true, 1000.0},         {".5", true, 0.5},
      {"5.", true, 5.0},             {"+0", true, 0.0},              {".", true, std::nullopt},
      {"", true, std::nullopt},      {" ", true, std::nullopt},      {"1e", true, std::nullopt},
      {"1e+", true, std::nullopt},   {"e5", true, std::nullopt},     {"1.2.3", true, std::nullopt},
      {"1,000.5", true, std::nullopt}, {"INF", true, std::nullopt},  {"NAN", true, std::nullopt},
      {"-INF", true, std::nullopt},  {"0x10", true, std::nullopt},   {"1e400", true, std::nullopt},
      {"-1.8E308", true, std::nullopt},                              {"1.7976931348623157E308", true, MaxDouble},
      {"1e-400", true, 0.0},         {"4.9E-324", true, MinDouble},  {"\xD9\xA1.5", true, std::nullopt},
      {"1.5x", true, std::nullopt},  {"0.000001", true, 1e-6},       {"655.35", true, 655.35},
  };
  TFormatSettings Point = English(), Comma = Turkish();
  for (const Case& C : Cases) {
    double V = -7;
    bool Ok = TryStrToFloat(U16(C.Text), V, C.Point ? Point : Comma);
    EXPECT_EQ(Ok, C.Expected.has_value()) << C.Text;
    if (C.Expected) {
      EXPECT_EQ(V, *C.Expected) << C.Text;
    }
    if (!C.Expected) {
      EXPECT_EQ(V, -7) << C.Text;
      EXPECT_THROW(StrToFloat(U16(C.Text), C.Point ? Point : Comma), EConvertError) << C.Text;
      EXPECT_EQ(StrToFloatDef(U16(C.Text), 655.35, C.Point ? Point : Comma), 655.35) << C.Text;
    }
  }
}

TEST(StrToFloat, OverlongTextNeitherCrashesNorLosesTheScale) {
  TFormatSettings FS = English();
  double V = 0;
  EXPECT_FALSE(TryStrToFloat(U16(std::string(5000, '1')), V, FS));
  EXPECT_TRUE(TryStrToFloat(U16("0." + std::string(400, '0') + "1"), V, FS));
  EXPECT_EQ(V, 0.0);
  EXPECT_TRUE(TryStrToFloat(U16(std::string(300, '1') + "." + std::string(3000, '9')), V, FS));
  EXPECT_DOUBLE_EQ(V, 1.111111111111111e299);
  EXPECT_TRUE(TryStrToFloat(U16("1e-99999999999999999999"), V, FS));
  EXPECT_EQ(V, 0.0);
  EXPECT_FALSE(TryStrToFloat(U16("1e99999999999999999999"), V, FS));
}

TEST_F(ProcessSettings, ConversionsFollowTheProcessWideSeparator) {
  FormatSettings() = Turkish();
  EXPECT_EQ(StrToFloatDef(u"23.14", 655.35), 655.35);
  EXPECT_EQ(StrToFloat(u"23,14"), 23.14);
  EXPECT_EQ(U8(FloatToStr(23.14)), "23,14");
  FormatSettings().DecimalSeparator = u'.';  // as the program does when its window shows
  EXPECT_EQ(StrToFloat(u"23.14"), 23.14);
  EXPECT_EQ(StrToFloatDef(u"23,14", 655.35), 655.35);
  EXPECT_EQ(U8(FloatToStr(2314 / 100.0)), "23.14");
  try {
    StrToFloat(u"23,14");
    FAIL();
  } catch (const EConvertError& E) {
    EXPECT_EQ(U8(E.Message()), "'23,14' is not a valid floating point value");
  }
}

TEST(FloatToStr, FifteenDigitsGeneralForm) {
  const double Inf = std::numeric_limits<double>::infinity();
  struct Case {
    double Value;
    const char* Expected;
  };
  const Case Cases[] = {
      {23.14, "23.14"},
      {2314 / 100.0, "23.14"},
      {1000 / 100.0, "10"},
      {10.0, "10"},
      {655.35, "655.35"},
      {-1.5, "-1.5"},
      {0.1 + 0.2, "0.3"},
      {1.0 / 3.0, "0.333333333333333"},
      {2.0 / 3.0, "0.666666666666667"},
      {1e15, "1E15"},
      {1e14, "100000000000000"},
      {123456789012345.0, "123456789012345"},
      {1234567890123456.0, "1.23456789012346E15"},
      {999999999999999.9, "1E15"},
      {1e-5, "1E-5"},
      {0.0001, "0.0001"},
      {0.00012345, "0.00012345"},
      {-1.5e-7, "-1.5E-7"},
      {MaxDouble, "1.79769313486232E308"},
      {MinDouble, "4.94065645841247E-324"},
      {0.0, "0"},
      {-0.0, "0"},
      {std::numeric_limits<double>::quiet_NaN(), "NAN"},
      {Inf, "INF"},
      {-Inf, "-INF"},
  };
  TFormatSettings FS = English();
  for (const Case& C : Cases) EXPECT_EQ(U8(FloatToStr(C.Value, FS)), C.Expected) << C.Value;
}

TEST(FloatToStrF, FormatsPrecisionAndDigits) {
  struct Case {
    double Value;
    TFloatFormat Format;
    Integer Precision, Digits;
    const char* English;
    const char* Turkish;
  };
  const Case Cases[] = {
      {1234.5, ffExponent, 15, 0, "1.23450000000000E+3", "1,23450000000000E+3"},
      {1234.5, ffExponent, 4, 2, "1.235E+03", "1,235E+03"},
      {-0.00123, ffExponent, 3, 4, "-1.23E-0003", "-1,23E-0003"},
      {0.0, ffExponent, 3, 2, "0.00E+00", "0,00E+00"},
      {1234.5678, ffFixed, 15, 2, "1234.57", "1234,57"},
      {0.125, ffFixed, 15, 2, "0.13", "0,13"},
      {2.5, ffFixed, 15, 0, "3", "3"},
      {-0.004, ffFixed, 15, 2, "0.00", "0,00"},
      {1e20, ffFixed, 15, 2, "1E20", "1E20"},
      {1234567.891, ffNumber, 15, 2, "1,234,567.89", "1.234.567,89"},
      {-999.999, ffNumber, 15, 2, "-1,000.00", "-1.000,00"},
      {1234.5, ffCurrency, 15, 2, "$1,234.50", "1.234,50 TL"},
      {-1234.5, ffCurrency, 15, 2, "($1,234.50)", "-1.234,50 TL"},
      {1e-5, ffGeneral, 15, 2, "1E-05", "1E-05"},
      {23.14, ffGeneral, 15, 0, "23.14", "23,14"},
      {1.0 / 3.0, ffGeneral, 2, 0, "0.33", "0,33"},
      {1234.5, ffGeneral, 2, 0, "1.2E3", "1,2E3"},
      {std::numeric_limits<double>::quiet_NaN(), ffFixed, 15, 2, "NAN", "NAN"},
  };
  TFormatSettings En = English(), Tr = Turkish();
  for (const Case& C : Cases) {
    EXPECT_EQ(U8(FloatToStrF(C.Value, C.Format, C.Precision, C.Digits, En)), C.English) << C.Value;
    EXPECT_EQ(U8(FloatToStrF(C.Value, C.Format, C.Precision, C.Digits, Tr)), C.Turkish) << C.Value;
  }
}

TEST(FloatToStrF, NegativeCurrencyLayouts) {
  TFormatSettings FS = English();
  const char* Expected[16] = {"($1.50)", "-$1.50", "$-1.50", "$1.50-", "(1.50$)", "-1.50$", "1.50-$", "1.50$-",
                              "-1.50 $", "-$ 1.50", "1.50 $-", "$ 1.50-", "$ -1.50", "1.50- $", "($ 1.50)", "(1.50 $)"};
  for (Byte I = 0; I < 16; ++I) {
    FS.NegCurrFormat = I;
    EXPECT_EQ(U8(FloatToStrF(-1.5, ffCurrency, 15, 2, FS)), Expected[I]) << int(I);
  }
  const char* Positive[4] = {"$1.50", "1.50$", "$ 1.50", "1.50 $"};
  for (Byte I = 0; I < 4; ++I) {
    FS.CurrencyFormat = I;
    EXPECT_EQ(U8(FloatToStrF(1.5, ffCurrency, 15, 2, FS)), Positive[I]) << int(I);
  }
}

TEST(FormatFloat, Pictures) {
  struct Case {
    const char* Picture;
    double Value;
    const char* Expected;
  };
  const Case Cases[] = {
      {"SUM=0.00;SUM=-0.00", 12.5, "SUM=12.50"},
      {"SUM=0.00;SUM=-0.00", -3.25, "SUM=-3.25"},
      {"SUM=0.00;SUM=-0.00", 0.0, "SUM=0.00"},
      {"#,##0.00", 1234567.891, "1,234,567.89"},
      {"#,##0.00", -1234.5, "-1,234.50"},
      {"#,##0.00", 0.5, "0.50"},
      {"#,##0.00", 999.999, "1,000.00"},
      {"#,##0.00", 0.0, "0.00"},
      {"0.###E+00", 1234.5, "1.235E+03"},
      {"0.###E+00", 0.000125, "1.25E-04"},
      {"0.00E-00", 1234.5, "1.23E03"},
      {"0.00e+0", 0.0, "0.00e+0"},
      {"\"Total: \"0.0", 5.0, "Total: 5.0"},
      {"'#'0", 7.0, "#7"},
      {"'a;b'0;'neg'0", -4.0, "neg4"},
      {"#.##", 0.5, ".5"},
      {"0.##", 1.0, "1"},
      {"0.0#", 1.25, "1.25"},
      {"0", 2.5, "3"},
      {"0", -2.5, "-3"},
      {"0", -0.4, "0"},
      {"00000", 42.0, "00042"},
      {"0", 123456.0, "123456"},
      {"#-##", 12345.0, "123-45"},
      {".00", 12.5, "12.50"},
      {"0.0;(0.0);zero", 0.0, "zero"},
      {"0.0;(0.0);zero", -0.04, "zero"},
      {"0.0;(0.0);zero", -1.5, "(1.5)"},
      {"0.00;;zero", -1.5, "-1.50"},
      {"", 23.14, "23.14"},
      {"0.00", 1e20, "1E20"},
      {"0.00", std::numeric_limits<double>::quiet_NaN(), "NAN"},
      {"0.00", -std::numeric_limits<double>::infinity(), "-INF"},
  };
  TFormatSettings FS = English();
  for (const Case& C : Cases) EXPECT_EQ(U8(FormatFloat(U16(C.Picture), C.Value, FS)), C.Expected) << C.Picture;
  EXPECT_EQ(U8(FormatFloat(u"#,##0.00", 1234.5, Turkish())), "1.234,50");
}

TEST(FormatFloat, ReferenceTable) {
  // Pictures against 1234, -1234, 0.5 and 0.
  struct Case {
    const char* Picture;
    const char* Results[4];
  };
  const Case Cases[] = {
      {"0", {"1234", "-1234", "1", "0"}},
      {"0.00", {"1234.00", "-1234.00", "0.50", "0.00"}},
      {"#.##", {"1234", "-1234", ".5", ""}},
      {"#,##0.00", {"1,234.00", "-1,234.00", "0.50", "0.00"}},
      {"#,##0.00;(#,##0.00)", {"1,234.00", "(1,234.00)", "0.50", "0.00"}},
      {"#,##0.00;;Zero", {"1,234.00", "-1,234.00", "0.50", "Zero"}},
      {"0.000E+00", {"1.234E+03", "-1.234E+03", "5.000E-01", "0.000E+00"}},
      {"#.###E-0", {"1.234E3", "-1.234E3", "5E-1", "0E0"}},
  };
  const double Values[4] = {1234, -1234, 0.5, 0};
  TFormatSettings FS = English();
  for (const Case& C : Cases)
    for (int I = 0; I < 4; ++I)
      EXPECT_EQ(U8(FormatFloat(U16(C.Picture), Values[I], FS)), C.Results[I]) << C.Picture << " " << Values[I];
}

TEST(FormatFloat, UnterminatedQuoteIsALiteralToTheEnd) {
  TFormatSettings FS = English();
  EXPECT_EQ(U8(FormatFloat(u"0.0 'abc", 1.0, FS)), "1.0 abc");
  EXPECT_EQ(U8(FormatFloat(u"\"", 1.0, FS)), "");
  EXPECT_NO_THROW(FormatFloat(u"E+", 5.0, FS));  // no digit placeholder at all
}

TEST(CurrencyText, EdgesOfTheRange) {
  TFormatSettings FS = English();
  EXPECT_EQ(U8(CurrToStr(MaxCurrency, FS)), "922337203685477.5807");
  EXPECT_EQ(U8(CurrToStr(MinCurrency, FS)), "-922337203685477.5808");
  EXPECT_EQ(U8(CurrToStr(Currency(1.5), FS)), "1.5");
  EXPECT_EQ(U8(CurrToStr(Currency(), FS)), "0");
  EXPECT_EQ(U8(CurrToStr(Currency::FromRaw(1), FS)), "0.0001");
  EXPECT_EQ(U8(CurrToStr(Currency::FromRaw(-12345), Turkish())), "-1,2345");
  EXPECT_EQ(U8(CurrToStrF(MaxCurrency, ffNumber, 4, FS)), "922,337,203,685,477.5807");
  EXPECT_EQ(U8(CurrToStrF(Currency(1234.5), ffCurrency, 2, FS)), "$1,234.50");
  EXPECT_EQ(U8(CurrToStrF(Currency::FromRaw(1235), ffFixed, 2, FS)), "0.12");  // 0.1235 -> half away: 0.12|35
  EXPECT_EQ(U8(CurrToStrF(Currency::FromRaw(1250), ffFixed, 2, FS)), "0.13");
  EXPECT_EQ(U8(FormatCurr(u"#,##0.00", Currency::FromRaw(12345650), FS)), "1,234.57");
  EXPECT_EQ(U8(FormatCurr(u"0", MinCurrency, FS)), "-922337203685478");

  struct Case {
    const char* Text;
    std::optional<Int64> Raw;
  };
  const Case Cases[] = {{"922337203685477.5807", INT64_MAX},   {"922337203685477.5808", std::nullopt},
                        {"-922337203685477.5808", INT64_MIN},  {"-922337203685477.5809", std::nullopt},
                        {"0.00005", 0},                        {"0.00015", 2},
                        {"0.000150001", 2},                    {"0.00025", 2},
                        {"-0.00015", -2},                      {"1.23456", 12346},
                        {"1e3", 10000000},                     {"1e-5", 0},
                        {"1e99999", std::nullopt},             {"abc", std::nullopt},
                        {"", std::nullopt},                    {" 23.14 ", 231400},
                        {"00000000000000000000001.5", 15000},  {"99999999999999999999", std::nullopt}};
  for (const Case& C : Cases) {
    Currency V = Currency(99);
    EXPECT_EQ(TryStrToCurr(U16(C.Text), V, FS), C.Raw.has_value()) << C.Text;
    if (C.Raw) {
      EXPECT_EQ(V.Raw(), *C.Raw) << C.Text;
    }
    if (!C.Raw) {
      EXPECT_THROW(StrToCurr(U16(C.Text), FS), EConvertError) << C.Text;
    }
  }
  Currency Out;
  EXPECT_FALSE(TryFloatToCurr(1e15, Out));
  EXPECT_TRUE(TryFloatToCurr(-2.5, Out));
  EXPECT_EQ(Out.Raw(), -25000);
  EXPECT_THROW(FloatToCurr(std::numeric_limits<double>::infinity()), EInvalidOp);
}

TEST_F(ProcessSettings, BooleanText) {
  FormatSettings() = English();
  EXPECT_EQ(U8(BoolToStr(true)), "-1");
  EXPECT_EQ(U8(BoolToStr(false)), "0");
  EXPECT_EQ(U8(BoolToStr(true, true)), "True");
  EXPECT_EQ(U8(BoolToStr(false, true)), "False");
  struct Case {
    const char* Text;
    std::optional<bool> Expected;
  };
  const Case Cases[] = {{"True", true}, {"tRUE", true}, {"FALSE", false}, {"-1", true}, {"0", false},
                        {"1", true},    {"2.5", true},  {"yes", std::nullopt},         {"", std::nullopt},
                        {"Truee", std::nullopt}};
  for (const Case& C : Cases) {
    bool B = false;
    EXPECT_EQ(TryStrToBool(U16(C.Text), B), C.Expected.has_value()) << C.Text;
    if (C.Expected) {
      EXPECT_EQ(B, *C.Expected) << C.Text;
    }
  }
  EXPECT_THROW(StrToBool(u"yes"), EConvertError);
  EXPECT_TRUE(StrToBoolDef(u"yes", true));
}

}  // namespace
