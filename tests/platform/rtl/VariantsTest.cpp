#include <gtest/gtest.h>

#include <functional>

#include "platform/rtl/CodePages.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/FMTBcd.h"
#include "platform/rtl/Locale.h"
#include "platform/rtl/SqlTimSt.h"
#include "platform/rtl/Variants.h"
#include "platform/rtl/VariantTexts.h"

namespace {

// Every test runs under the English locale ("." decimals) unless it says otherwise.
class VariantTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Saved = SystemLocale();
    SetSystemLocale(TSystemLocale::EnglishUS);
  }
  void TearDown() override { SetSystemLocale(Saved); }
  TSystemLocale Saved = TSystemLocale::Turkish;
};

std::string Utf8(const String& S) { return UTF16ToUTF8(S); }

// A variant for test traces: its text, or its type when it has no text.
std::string Describe(const Variant& V) {
  try {
    return Utf8(VarToStrDef(V, u"Null"));
  } catch (const EVariantError&) {
    return Utf8(VarTypeAsText(VarType(V)));
  }
}

// Which variant error (or none) a call raises; a non-variant exception is reported by name.
std::string ErrorOf(const std::function<void()>& F) {
  try {
    F();
  } catch (const EVariantError& E) {
    return Utf8(E.ClassName());
  } catch (const Exception& E) {
    return "not a variant error: " + Utf8(E.ClassName());
  }
  return "";
}

TEST_F(VariantTest, ConstructionGivesThePlatformTypeCodes) {
  struct Case {
    Variant V;
    TVarType Type;
  } Cases[] = {
      {Variant(), varEmpty},
      {Null(), varNull},
      {Variant(true), varBoolean},
      {Variant(ShortInt(-1)), varShortInt},
      {Variant(Byte(1)), varByte},
      {Variant(SmallInt(1)), varSmallint},
      {Variant(Word(1)), varWord},
      {Variant(1), varInteger},
      {Variant(Cardinal(1)), varLongWord},
      {Variant(Int64(1)), varInt64},
      {Variant(UInt64(1)), varUInt64},
      {Variant(1.5f), varSingle},
      {Variant(1.5), varDouble},
      {Variant(Currency(2)), varCurrency},
      {VarFromDateTime(1.0), varDate},
      {Variant(String(u"a")), varUString},
      {Variant(u"a"), varUString},
      {Variant(u'a'), varUString},
      {Variant('a'), varString},
      {Variant(AnsiString("a")), varString},
      {Variant("a"), varString},
      {VarArrayOf({1, 2}), varArray | varVariant},
      {VarArrayCreate({0, 3}, varByte), varArray | varByte},
  };
  for (const Case& C : Cases) EXPECT_EQ(VarType(C.V), C.Type) << C.Type;
}

TEST_F(VariantTest, EmptyAndNullAreDistinct) {
  EXPECT_TRUE(VarIsEmpty(Unassigned()));
  EXPECT_FALSE(VarIsNull(Unassigned()));
  EXPECT_TRUE(VarIsNull(Null()));
  EXPECT_FALSE(VarIsEmpty(Null()));
  EXPECT_TRUE(VarIsClear(Variant()));
  EXPECT_FALSE(VarIsClear(Null()));
  Variant V = 5;
  VarClear(V);
  EXPECT_TRUE(VarIsEmpty(V));
  // Empty converts to zero values; Null does not convert.
  EXPECT_EQ(Unassigned().AsInteger(), 0);
  EXPECT_EQ(Unassigned().AsString(), u"");
  EXPECT_FALSE(Unassigned().AsBoolean());
  EXPECT_EQ(ErrorOf([] { Null().AsInteger(); }), "EVariantTypeCastError");
  EXPECT_EQ(ErrorOf([] { Null().AsString(); }), "EVariantTypeCastError");
}

TEST_F(VariantTest, KindPredicates) {
  struct Case {
    Variant V;
    bool Ordinal, Float, Numeric, Str, Array;
  } Cases[] = {
      {Variant(1), true, false, true, false, false},
      {Variant(true), true, false, true, false, false},
      {Variant(Int64(1)), true, false, true, false, false},
      {Variant(1.5), false, true, true, false, false},
      {Variant(Currency(1)), false, true, true, false, false},
      {VarFromDateTime(1), false, false, false, false, false},
      {Variant(u"1"), false, false, false, true, false},
      {Variant("1"), false, false, false, true, false},
      {Null(), false, false, false, false, false},
      {VarArrayOf({1}), false, false, false, false, true},
      {VarFMTBcdCreate(1.5), false, false, false, false, false},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(Utf8(VarTypeAsText(VarType(C.V))));
    EXPECT_EQ(VarIsOrdinal(C.V), C.Ordinal);
    EXPECT_EQ(VarIsFloat(C.V), C.Float);
    EXPECT_EQ(VarIsNumeric(C.V), C.Numeric);
    EXPECT_EQ(VarIsStr(C.V), C.Str);
    EXPECT_EQ(VarIsArray(C.V), C.Array);
  }
}

TEST_F(VariantTest, ConversionMatrix) {
  // Expected: the converted value's text and type, or the error class.
  struct Case {
    Variant Source;
    TVarType Dest;
    const char16_t* Text;  // nullptr when Error is set
    const char* Error;
  } Cases[] = {
      {Variant(u"12"), varInteger, u"12", ""},
      {Variant(u" 12"), varInteger, u"12", ""},
      {Variant(u"$FF"), varInteger, u"255", ""},
      {Variant(u"2.5"), varInteger, u"2", ""},  // through a float, ties to even
      {Variant(u"3.5"), varInteger, u"4", ""},
      {Variant(u"True"), varInteger, u"-1", ""},
      {Variant(u"abc"), varInteger, nullptr, "EVariantTypeCastError"},
      {Variant(u""), varInteger, nullptr, "EVariantTypeCastError"},
      {Variant(u"12a"), varDouble, nullptr, "EVariantTypeCastError"},
      {Variant(u"1e400"), varDouble, nullptr, "EVariantTypeCastError"},
      {Variant(u"3000000000"), varInteger, nullptr, "EVariantOverflowError"},
      {Variant(u"9223372036854775807"), varInt64, u"9223372036854775807", ""},
      {Variant(Int64(3000000000)), varInteger, nullptr, "EVariantOverflowError"},
      {Variant(70000), varSmallint, nullptr, "EVariantOverflowError"},
      {Variant(-1), varByte, nullptr, "EVariantOverflowError"},
      {Variant(-1), varUInt64, nullptr, "EVariantOverflowError"},
      {Variant(255), varByte, u"255", ""},
      {Variant(1e300), varInteger, nullptr, "EVariantOverflowError"},
      {Variant(1e300), varSingle, nullptr, "EVariantOverflowError"},
      {Variant(1e300), varCurrency, nullptr, "EVariantOverflowError"},
      {Variant(u"1e300"), varCurrency, nullptr, "EVariantOverflowError"},
      {Variant(2.5), varInteger, u"2", ""},
      {Variant(-2.5), varInteger, u"-2", ""},
      {Variant(Currency(2.5)), varInteger, u"2", ""},
      {Variant(Currency(3.5)), varInteger, u"4", ""},
      {Variant(true), varInteger, u"-1", ""},
      {Variant(true), varUString, u"True", ""},
      {Variant(false), varString, u"False", ""},
      {Variant(0), varBoolean, u"False", ""},
      {Variant(7), varBoolean, u"True", ""},
      {Variant(u"false"), varBoolean, u"False", ""},
      {Variant(u"yes"), varBoolean, nullptr, "EVariantTypeCastError"},
      {Variant(23.14), varUString, u"23.14", ""},
      {Variant(1.5f), varDouble, u"1.5", ""},
      {Variant(u"1.25"), varCurrency, u"1.25", ""},
      {Variant(u"0.00005"), varCurrency, u"0", ""},  // four decimals, ties to even
      {Variant(Currency(1.5)), varDouble, u"1.5", ""},
      {Variant(12), varDate, u"1/11/1900", ""},
      {Variant(u"1/11/1900"), varDouble, nullptr, "EVariantTypeCastError"},
      {Variant(u"1/11/1900"), varDate, u"1/11/1900", ""},
      {Variant(u"12.5"), varDate, u"1/11/1900 12:00:00 PM", ""},
      {Variant(u"nodate"), varDate, nullptr, "EVariantTypeCastError"},
      {Variant(StringToAnsi(u"Kontör")), varUString, u"Kontör", ""},
      {Variant(), varInteger, u"0", ""},
      {Null(), varInteger, nullptr, "EVariantTypeCastError"},
      {Null(), varNull, u"", ""},
      {VarArrayOf({1}), varInteger, nullptr, "EVariantTypeCastError"},
      {Variant(1), varDispatch, nullptr, "EVariantTypeCastError"},
      {Variant(1), TVarType(0x0FFE), nullptr, "EVariantBadVarTypeError"},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(Describe(C.Source) + " -> " + Utf8(VarTypeAsText(C.Dest)));
    if (C.Text) {
      Variant R;
      ASSERT_EQ(ErrorOf([&] { R = VarAsType(C.Source, C.Dest); }), "");
      EXPECT_EQ(VarType(R), C.Dest);
      EXPECT_EQ(Utf8(VarToStr(R)), Utf8(C.Text));
    } else {
      EXPECT_EQ(ErrorOf([&] { VarAsType(C.Source, C.Dest); }), C.Error);
    }
  }
}

TEST_F(VariantTest, CastErrorMessagesNameBothTypes) {
  try {
    Variant(u"abc").AsInteger();
    FAIL();
  } catch (const EConvertError&) {
    FAIL() << "a variant cast must not raise EConvertError";
  } catch (const EVariantTypeCastError& E) {
    EXPECT_EQ(E.Message(), u"Could not convert variant of type (UnicodeString) into type (Integer)");
  }
  try {
    Variant(Int64(1) << 40).AsInteger();
    FAIL();
  } catch (const EVariantOverflowError& E) {
    EXPECT_EQ(E.Message(), u"Overflow while converting variant of type (Int64) into type (Integer)");
  }
  EXPECT_EQ(VarTypeAsText(varArray | varVariant), u"Array Variant");
  EXPECT_EQ(VarTypeAsText(varString), u"String");
  EXPECT_EQ(VarTypeAsText(VarFMTBcd()), u"FMTBcd");
}

TEST_F(VariantTest, VarToStrFollowsTheValueKind) {
  EXPECT_EQ(VarToStr(Null()), u"");
  EXPECT_EQ(VarToStr(Unassigned()), u"");
  EXPECT_EQ(VarToStrDef(Null(), u"-"), u"-");
  EXPECT_EQ(VarToStrDef(5, u"-"), u"5");
  EXPECT_EQ(VarToStr(true), u"True");
  EXPECT_EQ(VarToStr(1000.0), u"1000");
  EXPECT_EQ(VarToStr(Currency::FromRaw(12345)), u"1.2345");
  EXPECT_EQ(VarToStr(Variant(UInt64(18446744073709551615u))), u"18446744073709551615");
  EXPECT_EQ(VarToStr(VarFromDateTime(EncodeDateTime(2011, 12, 13, 14, 5, 0, 0))), u"12/13/2011 2:05:00 PM");

  SetSystemLocale(TSystemLocale::Turkish);
  EXPECT_EQ(VarToStr(VarFromDateTime(0)), u"30.12.1899");
  EXPECT_EQ(VarToStr(23.14), u"23,14");
  EXPECT_EQ(Variant(u"23,14").AsDouble(), 23.14);
  EXPECT_EQ(ErrorOf([] { Variant(u"23.14").AsDouble(); }), "EVariantTypeCastError");
  EXPECT_EQ(VarToDateTime(Variant(u"30.12.1899 12:00")), 0.5);
}

TEST_F(VariantTest, AnsiStringsUseTheSystemCodePage) {
  SetSystemLocale(TSystemLocale::Turkish);
  Variant A(StringToAnsi(u"ĞŞİ"));
  EXPECT_EQ(VarType(A), varString);
  EXPECT_EQ(A.AsString(), u"ĞŞİ");
  EXPECT_EQ(Variant(u"ğ€").AsAnsiString(), StringToAnsi(u"ğ€"));
}

TEST_F(VariantTest, Comparisons) {
  enum R { Lt, Eq, Gt };
  struct Case {
    Variant A, B;
    R Expected;
  } Cases[] = {
      {Variant(u"10"), Variant(9), Gt},  // the string becomes a number
      {Variant(9), Variant(u"10"), Lt},
      {Variant(u"10"), Variant(u"9"), Lt},  // two strings compare as text
      {Variant(u"a"), Variant(u"B"), Gt},   // ordinal and case-sensitive
      {Variant(u"a"), Variant(u"a"), Eq},
      {Variant("b"), Variant(u"a"), Gt},
      {Variant(u"1.5"), Variant(1.5), Eq},
      {Variant(u"9007199254740993"), Variant(Int64(9007199254740992)), Gt},  // integer text: exact
      {Variant(u"$10"), Variant(16), Eq},
      {Null(), Null(), Eq},
      {Null(), Variant(-5), Lt},
      {Variant(-5), Null(), Gt},
      {Null(), Unassigned(), Lt},
      {Unassigned(), Unassigned(), Eq},
      {Unassigned(), Variant(0), Eq},
      {Unassigned(), Variant(u""), Eq},
      {Unassigned(), Variant(1), Lt},
      {Unassigned(), Variant(u"a"), Lt},
      {Variant(false), Variant(true), Gt},  // Booleans as numbers, True = -1
      {Variant(true), Variant(u"false"), Lt},
      {Variant(true), Variant(-1), Eq},
      {Variant(true), Variant(u"true"), Eq},
      {Variant(Currency(1.5)), Variant(1.5), Eq},
      {Variant(Currency(2)), Variant(2), Eq},
      {Variant(Currency(0.0001)), Variant(0), Gt},
      {Variant(Int64(9007199254740993)), Variant(Int64(9007199254740992)), Gt},  // exact, not through doubles
      {Variant(UInt64(18446744073709551615u)), Variant(-1), Gt},
      {Variant(Byte(200)), Variant(ShortInt(-1)), Gt},
      {VarFromDateTime(2), Variant(2), Eq},
      {VarFromDateTime(2), Variant(u"1/1/1900"), Eq},
      {Variant(2.5), Variant(2), Gt},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(Describe(C.A) + " vs " + Describe(C.B));
    EXPECT_EQ(C.A == C.B, C.Expected == Eq);
    EXPECT_EQ(C.A != C.B, C.Expected != Eq);
    EXPECT_EQ(C.A < C.B, C.Expected == Lt);
    EXPECT_EQ(C.A <= C.B, C.Expected != Gt);
    EXPECT_EQ(C.A > C.B, C.Expected == Gt);
    EXPECT_EQ(C.A >= C.B, C.Expected != Lt);
  }
  // A string that is no number cannot be compared with a number.
  EXPECT_EQ(ErrorOf([] { (void)(Variant(u"abc") == Variant(1)); }), "EVariantTypeCastError");
  EXPECT_EQ(ErrorOf([] { (void)(Variant(u"abc") < Variant(true)); }), "EVariantTypeCastError");
  EXPECT_EQ(ErrorOf([] { (void)(VarArrayOf({1}) == VarArrayOf({1})); }), "EVariantInvalidOpError");
}

TEST_F(VariantTest, CompareValueReportsNotEqualForNullAndEmpty) {
  struct Case {
    Variant A, B;
    TVariantRelationship Expected;
  } Cases[] = {
      {Unassigned(), Unassigned(), vrEqual},
      {Null(), Null(), vrEqual},
      {Unassigned(), Variant(0), vrNotEqual},
      {Null(), Unassigned(), vrNotEqual},
      {Variant(1), Null(), vrNotEqual},
      {Variant(1), Variant(2), vrLessThan},
      {Variant(u"10"), Variant(9), vrGreaterThan},
      {Variant(u"x"), Variant(u"x"), vrEqual},
  };
  for (const Case& C : Cases) EXPECT_EQ(VarCompareValue(C.A, C.B), C.Expected);
}

TEST_F(VariantTest, ArithmeticResultTypes) {
  struct Case {
    Variant Result;
    TVarType Type;
    const char16_t* Text;
  };
  const Case Cases[] = {
      {Variant(2) + Variant(3), varInteger, u"5"},
      {Variant(SmallInt(2)) + Variant(Byte(3)), varInteger, u"5"},
      {Variant(MaxInt) + Variant(1), varInt64, u"2147483648"},  // Integer overflow widens
      {Variant(MinInt) - Variant(1), varInt64, u"-2147483649"},
      {Variant(65536) * Variant(65536), varInt64, u"4294967296"},
      {Variant(Int64(1)) + Variant(1), varInt64, u"2"},
      {Variant(2) + Variant(0.5), varDouble, u"2.5"},
      {Variant(1.5f) + Variant(1.5f), varDouble, u"3"},
      {Variant(2) + Variant(Currency(0.5)), varCurrency, u"2.5"},
      {Variant(Currency(1)) + Variant(0.5), varDouble, u"1.5"},
      {Variant(7) / Variant(2), varDouble, u"3.5"},
      {Variant(Currency(10)) / Variant(4), varCurrency, u"2.5"},
      {VarFromDateTime(1) + Variant(1), varDate, u"1/1/1900"},
      {Variant(1) + VarFromDateTime(1), varDate, u"1/1/1900"},
      {VarFromDateTime(3) - Variant(1), varDate, u"1/1/1900"},
      {VarFromDateTime(3) - VarFromDateTime(1), varDouble, u"2"},
      {VarFromDateTime(3) * Variant(2), varDouble, u"6"},
      {Variant(u"1") + Variant(2), varDouble, u"3"},
      {Variant(u"1.5") * Variant(u"2"), varDouble, u"3"},
      {Variant(u"a") + Variant(u"b"), varUString, u"ab"},
      {Variant("a") + Variant("b"), varString, u"ab"},
      {Variant("a") + Variant(u"b"), varUString, u"ab"},
      {Variant(true) + Variant(true), varInteger, u"-2"},
      {Null() + Variant(1), varNull, u""},
      {Variant(u"x") * Null(), varNull, u""},
      {Unassigned() + Variant(1), varInteger, u"1"},
      {Unassigned() + Variant(u"x"), varUString, u"x"},
      {Unassigned() + Unassigned(), varInteger, u"0"},
      {VarIntDiv(7, 2), varInteger, u"3"},
      {VarIntDiv(-7, 2), varInteger, u"-3"},
      {VarMod(-7, 2), varInteger, u"-1"},
      {VarMod(Int64(7), 4), varInt64, u"3"},
      {VarIntDiv(7.6, 2), varInteger, u"4"},
      {VarMod(MinInt64, -1), varInt64, u"0"},
      {VarIntDiv(Null(), 0), varNull, u""},
      {-Variant(5), varInteger, u"-5"},
      {-Variant(MinInt), varInt64, u"2147483648"},
      {-Variant(Byte(5)), varInteger, u"-5"},
      {-Variant(2.5), varDouble, u"-2.5"},
      {-Variant(Currency(2)), varCurrency, u"-2"},
      {-Variant(u"2"), varDouble, u"-2"},
      {-Null(), varNull, u""},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(Utf8(C.Text));
    EXPECT_EQ(VarType(C.Result), C.Type);
    EXPECT_EQ(VarToStr(C.Result), C.Text);
  }
  Variant Sum = 0;
  for (int I = 1; I <= 4; ++I) Sum += Variant(Currency(0.25));
  EXPECT_EQ(VarType(Sum / 4), varCurrency);
  EXPECT_EQ(VarToStr(Sum / 4), u"0.25");
}

TEST_F(VariantTest, ArithmeticErrors) {
  EXPECT_EQ(ErrorOf([] { Variant(MaxInt64) + Variant(1); }), "EVariantOverflowError");
  EXPECT_EQ(ErrorOf([] { -Variant(MinInt64); }), "EVariantOverflowError");
  EXPECT_EQ(ErrorOf([] { VarIntDiv(MinInt64, -1); }), "EVariantOverflowError");
  EXPECT_EQ(ErrorOf([] { Variant(u"a") - Variant(u"b"); }), "EVariantTypeCastError");
  EXPECT_EQ(ErrorOf([] { Variant(u"a") + Variant(1); }), "EVariantTypeCastError");
  EXPECT_EQ(ErrorOf([] { VarArrayOf({1}) + Variant(1); }), "EVariantInvalidOpError");
  EXPECT_THROW(Variant(1) / Variant(0), EZeroDivide);
  EXPECT_THROW(Variant(Currency(1)) / Variant(0), EZeroDivide);
  EXPECT_THROW(VarIntDiv(1, 0), EDivByZero);
  EXPECT_THROW(VarMod(1, 0.2), EDivByZero);
}

TEST_F(VariantTest, ArraysHaveBoundsAndCheckIndexes) {
  Variant A = VarArrayCreate({-1, 2}, varVariant);
  EXPECT_EQ(VarArrayDimCount(A), 1);
  EXPECT_EQ(VarArrayLowBound(A, 1), -1);
  EXPECT_EQ(VarArrayHighBound(A, 1), 2);
  EXPECT_TRUE(VarIsEmpty(A[-1]));
  A.SetElement(2, u"x");
  VarArrayPut(A, 7, {-1});
  EXPECT_EQ(A[2], Variant(u"x"));
  EXPECT_EQ(VarArrayGet(A, {-1}).AsInteger(), 7);
  EXPECT_EQ(ErrorOf([&] { A[3]; }), "EVariantBadIndexError");
  EXPECT_EQ(ErrorOf([&] { A.SetElement(-2, 1); }), "EVariantBadIndexError");
  EXPECT_EQ(ErrorOf([&] { VarArrayLowBound(A, 2); }), "EVariantBadIndexError");
  EXPECT_EQ(ErrorOf([] { Variant(1)[0]; }), "EVariantInvalidArgError");
  EXPECT_EQ(ErrorOf([] { VarArrayHighBound(Variant(1), 1); }), "EVariantInvalidArgError");
  EXPECT_EQ(VarArrayDimCount(Variant(1)), 0);

  Variant Empty = VarArrayCreate({0, -1}, varVariant);
  EXPECT_EQ(VarArrayHighBound(Empty, 1), -1);
  EXPECT_EQ(ErrorOf([] { VarArrayCreate({0, -2}, varVariant); }), "EVariantArrayCreateError");
  EXPECT_EQ(ErrorOf([] { VarArrayCreate({0, 1}, varString); }), "EVariantArrayCreateError");
  EXPECT_EQ(ErrorOf([] { VarArrayCreate({0, 1, 2}, varVariant); }), "EVariantArrayCreateError");

  // Typed elements are converted when stored.
  Variant Ints = VarArrayCreate({0, 1}, varInteger);
  EXPECT_EQ(VarType(Ints[0]), varInteger);
  Ints.SetElement(1, u"12");
  EXPECT_EQ(VarType(Ints[1]), varInteger);
  EXPECT_EQ(Ints[1].AsInteger(), 12);
  EXPECT_EQ(ErrorOf([&] { Ints.SetElement(0, u"x"); }), "EVariantTypeCastError");
}

TEST_F(VariantTest, ArrayCopiesAreDeep) {
  Variant Inner = VarArrayOf({1, 2});
  Variant A = VarArrayOf({u"a", Inner});
  Variant B = A;
  B.SetElement(0, u"b");
  Variant Nested = B[1];
  Nested.SetElement(0, 99);
  B.SetElement(1, Nested);
  EXPECT_EQ(A[0], Variant(u"a"));
  EXPECT_EQ(A[1][0].AsInteger(), 1);
  EXPECT_EQ(B[1][0].AsInteger(), 99);
  Variant C = std::move(B);
  EXPECT_TRUE(VarIsEmpty(B));  // NOLINT(bugprone-use-after-move): moved-from is Empty
  EXPECT_EQ(C[0], Variant(u"b"));
}

TEST_F(VariantTest, ByteArraysLockToTheirBytes) {
  Variant A = VarArrayCreate({0, 3}, varByte);
  auto* P = static_cast<Byte*>(VarArrayLock(A));
  P[0] = 0xFF;
  P[3] = 7;
  EXPECT_EQ(ErrorOf([&] { A = Variant(1); }), "EVariantArrayLockedError");
  Variant Copy = A;  // copying a locked array is allowed; the copy is not locked
  Copy = Variant();
  VarArrayUnlock(A);
  EXPECT_EQ(ErrorOf([&] { VarArrayUnlock(A); }), "EVariantInvalidArgError");
  EXPECT_EQ(VarType(A[0]), varByte);
  EXPECT_EQ(A[0].AsInteger(), 255);
  EXPECT_EQ(A[3].AsInteger(), 7);
  EXPECT_EQ(ErrorOf([&] { A.SetElement(1, 256); }), "EVariantOverflowError");
  EXPECT_EQ(ErrorOf([&] { A.SetElement(1, Null()); }), "EVariantTypeCastError");
  A = Variant();  // unlocked: may be cleared
  EXPECT_TRUE(VarIsEmpty(A));
}

TEST_F(VariantTest, CustomTypesGetCodesFromTheFirstCustomCode) {
  TVarType Bcd = VarFMTBcd(), Stamp = VarSQLTimeStamp();
  EXPECT_GE(Bcd, varFirstCustom);
  EXPECT_GE(Stamp, varFirstCustom);
  EXPECT_NE(Bcd, Stamp);
  EXPECT_EQ(VarFMTBcd(), Bcd);  // registered once
  ASSERT_NE(FindCustomVariantType(Bcd), nullptr);
  EXPECT_EQ(FindCustomVariantType(Bcd)->Name(), u"FMTBcd");
  EXPECT_EQ(FindCustomVariantType(Stamp)->Name(), u"SQLTimeStamp");
  EXPECT_EQ(FindCustomVariantType(varInteger), nullptr);
  EXPECT_EQ(FindCustomVariantType(0x0FFF), nullptr);
  // A copy of a custom value keeps its record.
  Variant V = VarFMTBcdCreate(2.5);
  Variant W = V;
  EXPECT_TRUE(VarIsCustom(W));
  EXPECT_EQ(W.CustomDataSize(), sizeof(TBcd));
  EXPECT_EQ(BcdCompare(VarToBcd(V), VarToBcd(W)), 0);
}

}  // namespace

// A custom value is read at its type's record size: a record of another size,
// or an unregistered custom code, is refused instead of read out of bounds.
TEST(VariantCustom, RecordsOfAnotherSizeAreRefused) {
  const TBcd b = StrToBcd(u"12");
  const uint8_t shortRecord[4] = {};
  EXPECT_NO_THROW(Variant::CreateCustom(VarFMTBcd(), &b, sizeof b));
  EXPECT_THROW(Variant::CreateCustom(VarFMTBcd(), shortRecord, sizeof shortRecord), EVariantInvalidArgError);
  EXPECT_THROW(Variant::CreateCustom(VarSQLTimeStamp(), &b, sizeof b), EVariantInvalidArgError);
  EXPECT_THROW(Variant::CreateCustom(VarFMTBcd(), nullptr, sizeof b), EVariantInvalidArgError);
  EXPECT_THROW(Variant::CreateCustom(varTypeMask, &b, sizeof b), EVariantBadVarTypeError);
}

// A text handed over without a copy, both ways; other types are left alone.
TEST(Variants, TextsChangeHands) {
  Variant V = VarFromStr(String(u"moved text of some length"));
  EXPECT_EQ(VarType(V), varUString);
  EXPECT_EQ(VarToStr(V), u"moved text of some length");
  String* S = VarReleaseStr(V);
  ASSERT_NE(S, nullptr);
  EXPECT_EQ(*S, u"moved text of some length");
  EXPECT_TRUE(VarIsEmpty(V));
  delete S;
  Variant N(5);
  EXPECT_EQ(VarReleaseStr(N), nullptr);
  EXPECT_EQ(N.AsInteger(), 5);
  Variant A("ansi");
  EXPECT_EQ(VarReleaseStr(A), nullptr);
  EXPECT_EQ(VarToStr(A), u"ansi");
}
