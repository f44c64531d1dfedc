#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "lib/foundation/vlVariants.h"
#include "platform/classes/Streams.h"
#include "platform/rtl/CodePages.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/FMTBcd.h"
#include "platform/rtl/SqlTimSt.h"
#include "platform/rtl/Variants.h"

namespace {

std::string Text(const Variant& V) { return UTF16ToUTF8(VarToStr(V)); }

using TStreamPtr = std::unique_ptr<TMemoryStream, TObjectFree>;

TStreamPtr MakeStream(const std::vector<Byte>& Bytes = {}) {
  TStreamPtr S(New<TMemoryStream>());
  if (!Bytes.empty()) S->WriteBuffer(Bytes.data(), static_cast<Integer>(Bytes.size()));
  S->SetPosition(0);
  return S;
}

std::vector<Byte> Contents(TMemoryStream* S) {
  auto* P = static_cast<const Byte*>(S->Memory());
  return std::vector<Byte>(P, P + S->Size());
}

std::vector<Byte> Written(const Variant& V) {
  TStreamPtr S = MakeStream();
  vlStreamWriteVariant(S.get(), V);
  return Contents(S.get());
}

Variant ReadBack(const std::vector<Byte>& Bytes) {
  TStreamPtr S = MakeStream(Bytes);
  Variant V = vlStreamGetVariant(S.get());
  EXPECT_EQ(S->Position(), S->Size()) << "every byte consumed";
  return V;
}

// --- Tagged variant stream -----------------------------------------------------------

TEST(vlVariantsStream, IntegersTakeTheSmallestFormAndComeBackByValue) {
  struct {
    Variant Value;
    std::vector<Byte> Bytes;
    TVarType ReadType;
  } Cases[] = {
      {Variant(Integer(127)), {2, 0x7F}, varShortInt},
      {Variant(Integer(-128)), {2, 0x80}, varShortInt},
      {Variant(Integer(128)), {3, 0x80, 0x00}, varSmallint},
      {Variant(Word(200)), {3, 0xC8, 0x00}, varSmallint},
      {Variant(Integer(32768)), {4, 0x00, 0x80, 0x00, 0x00}, varInteger},
      {Variant(Integer(INT32_MIN)), {4, 0x00, 0x00, 0x00, 0x80}, varInteger},
      {Variant(Int64(2147483648LL)), {19, 0, 0, 0, 0x80, 0, 0, 0, 0}, varInt64},
      {Variant(Cardinal(4294967295u)), {19, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0}, varInt64},
      {Variant(Byte(5)), {2, 5}, varShortInt},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(testing::PrintToString(C.Bytes));
    EXPECT_EQ(Written(C.Value), C.Bytes);
    Variant Back = ReadBack(C.Bytes);
    EXPECT_EQ(VarType(Back), C.ReadType);
    EXPECT_EQ(Back.AsInt64(), C.Value.AsInt64());
  }
}

TEST(vlVariantsStream, EveryKindRoundTrips) {
  struct {
    const char* Name;
    Variant Value;
    std::vector<Byte> Head;  // the first bytes written
    TVarType ReadType;
  } Cases[] = {
      {"Empty", Variant(), {13}, varEmpty},
      {"Null", Null(), {0}, varNull},
      {"true", Variant(true), {9}, varBoolean},
      {"false", Variant(false), {8}, varBoolean},
      {"single", Variant(Single(1.5f)), {15, 0x00, 0x00, 0xC0, 0x3F}, varSingle},
      {"double", Variant(0.1), {5}, varDouble},
      {"currency", Variant(Currency::FromRaw(12345)), {16, 0x39, 0x30, 0, 0, 0, 0, 0, 0}, varCurrency},
      {"date", VarFromDateTime(45000.25), {17}, varDate},
      {"unicode string", Variant(String(u"Kontör")), {18, 6, 0, 0, 0, 'K', 0}, varOleStr},
      {"ansi string", Variant(AnsiString("abc")), {6, 3, 'a', 'b', 'c'}, varString},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.Name);
    std::vector<Byte> Bytes = Written(C.Value);
    ASSERT_GE(Bytes.size(), C.Head.size());
    EXPECT_EQ(std::vector<Byte>(Bytes.begin(), Bytes.begin() + C.Head.size()), C.Head);
    Variant Back = ReadBack(Bytes);
    EXPECT_EQ(VarType(Back), C.ReadType);
    EXPECT_EQ(vlCompareVariants(Back, C.Value), 0);
  }
  EXPECT_EQ(Written(Variant(0.1)).size(), 11u);
}

TEST(vlVariantsStream, ExtendedFloatRoundTripsTheDouble) {
  for (double D : {0.1, -1e300, 5e-324, 1.0 / 3.0, 0.0, -0.0, 123456789.125}) {
    TStreamPtr S = MakeStream();
    vlStreamWriteFloat(S.get(), D);
    ASSERT_EQ(S->Size(), 10);
    S->SetPosition(0);
    double Back = 0;
    vlStreamReadFloat(S.get(), Back);
    EXPECT_EQ(Back, D);
    EXPECT_EQ(std::signbit(Back), std::signbit(D));
  }
  // 1.0 as extended: mantissa 0x8000000000000000, exponent 0x3FFF.
  TStreamPtr S = MakeStream();
  vlStreamWriteFloat(S.get(), 1.0);
  EXPECT_EQ(Contents(S.get()), (std::vector<Byte>{0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F}));
}

TEST(vlVariantsStream, AnsiStringsSwitchToTheLongFormAt256Bytes) {
  std::vector<Byte> Short = Written(Variant(AnsiString(255, 'x')));
  EXPECT_EQ(Short[0], 6);
  EXPECT_EQ(Short[1], 255);
  EXPECT_EQ(Short.size(), 257u);
  std::vector<Byte> Long = Written(Variant(AnsiString(256, 'y')));
  EXPECT_EQ((std::vector<Byte>(Long.begin(), Long.begin() + 5)), (std::vector<Byte>{12, 0, 1, 0, 0}));
  EXPECT_EQ(Long.size(), 261u);
  EXPECT_EQ(ReadBack(Long).AsAnsiString(), AnsiString(256, 'y'));
}

TEST(vlVariantsStream, ArraysAndOtherKinds) {
  Variant Empty = VarArrayCreate({0, -1}, varVariant);
  EXPECT_EQ(Written(Empty), (std::vector<Byte>{1, 2, 0}));
  Variant Back = ReadBack({1, 2, 0});
  ASSERT_TRUE(VarIsArray(Back));
  EXPECT_EQ(VarArrayLowBound(Back, 1), 0);
  EXPECT_EQ(VarArrayHighBound(Back, 1), -1);

  Variant Nested = VarArrayOf({Variant(1), Null(), VarArrayOf({Variant(String(u"a"))})});
  Back = ReadBack(Written(Nested));
  EXPECT_EQ(vlCompareVariants(Back, Nested), 0);

  // Bounds 5..6 write their two elements; they come back as 0..1.
  Variant Shifted = VarArrayCreate({5, 6}, varVariant);
  Shifted.SetElement(5, Variant(7));
  Shifted.SetElement(6, Variant(8));
  EXPECT_EQ(Written(Shifted), (std::vector<Byte>{1, 2, 2, 2, 7, 2, 8}));

  // A SQL time stamp travels as a date-time, FMTBcd and UInt64 as their text.
  TSQLTimeStamp TS{2024, 2, 29, 13, 14, 15, 0};
  Back = ReadBack(Written(VarSQLTimeStampCreate(TS)));
  EXPECT_EQ(VarType(Back), varDate);
  EXPECT_EQ(VarToSQLTimeStamp(Back), TS);
  Back = ReadBack(Written(VarFMTBcdCreate(StrToBcd(u"12"))));
  EXPECT_EQ(VarType(Back), varString);
  EXPECT_EQ(Back.AsAnsiString(), "12");
  EXPECT_EQ(Written(Variant(UInt64(18446744073709551615ULL)))[0], 6);
}

TEST(vlVariantsStream, BadStreamsRaiseReadErrorsWithoutAllocating) {
  const std::vector<std::vector<Byte>> Bad = {
      {7},                             // a tag that is never written
      {20},                            // beyond the last tag
      {1, 4, 0xFF, 0xFF, 0xFF, 0x7F},  // an array count far beyond the bytes left
      {1, 2, 0xFF},                    // a negative array count
      {1, 6, 0},                       // an array count that is no integer
      {12, 0xFF, 0xFF, 0xFF, 0x7F},    // a long ANSI string beyond the stream
      {12, 0xFF, 0xFF, 0xFF, 0xFF},    // a negative length
      {18, 0x00, 0x00, 0x00, 0x40},    // a wide string beyond the stream
      {6, 3, 'a'},                     // short payload
      {5, 0, 0},                       // short extended
      {},                              // nothing at all
  };
  for (const auto& Bytes : Bad) {
    SCOPED_TRACE(testing::PrintToString(Bytes));
    TStreamPtr S = MakeStream(Bytes);
    EXPECT_THROW(vlStreamGetVariant(S.get()), EReadError);
  }
  TStreamPtr S = MakeStream({7});
  try {
    vlStreamGetVariant(S.get());
  } catch (const EReadError& E) {
    EXPECT_EQ(E.Message(), u"Stream read error");
  }
  // Deep nesting is refused rather than recursed without bound.
  std::vector<Byte> Deep;
  for (int I = 0; I < 100000; ++I) Deep.insert(Deep.end(), {1, 2, 1});
  S = MakeStream(Deep);
  EXPECT_THROW(vlStreamGetVariant(S.get()), EReadError);
}

TEST(vlVariantsStream, WriteErrors) {
  // A malformed decimal record (a digit nibble above 9) has no text.
  TBcd Malformed{};
  Malformed.Precision = 2;
  Malformed.Fraction[0] = 0xFF;
  Variant Bad = Variant::CreateCustom(VarFMTBcd(), &Malformed, sizeof(Malformed));
  TStreamPtr S = MakeStream();
  try {
    vlStreamWriteVariant(S.get(), Bad);
    ADD_FAILURE() << "written";
  } catch (const EWriteError& E) {
    EXPECT_EQ(E.Message(), u"Stream write error");
  }
}

TEST(vlVariantsStream, CountedStringsAndScalars) {
  TStreamPtr S = MakeStream();
  vlStreamWriteAnsiString(S.get(), AnsiString("ab"));
  vlStreamWriteWideString(S.get(), String(u"ç"));
  vlStreamWriteInteger(S.get(), -2);
  vlStreamWriteBoolean(S.get(), true);
  vlStreamWriteCurrency(S.get(), Currency::FromRaw(-1));
  EXPECT_EQ(Contents(S.get()),
            (std::vector<Byte>{2,    0,    0,    0, 'a',  'b',  1,    0,    0,    0,    0xE7, 0,   0xFE,
                               0xFF, 0xFF, 0xFF, 1, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}));
  S->SetPosition(0);
  EXPECT_EQ(vlStreamGetAnsiString(S.get()), "ab");
  EXPECT_EQ(vlStreamGetWideString(S.get()), u"ç");
  EXPECT_EQ(vlStreamGetInteger(S.get()), -2);
  EXPECT_TRUE(vlStreamGetBoolean(S.get()));
  EXPECT_EQ(vlStreamGetCurrency(S.get()).Raw(), -1);
  EXPECT_THROW(vlStreamGetWord(S.get()), EReadError);

  TStreamPtr Neg = MakeStream({0xFE, 0xFF, 0xFF, 0xFF});
  EXPECT_THROW(vlStreamGetAnsiString(Neg.get()), EReadError);
}

TEST(vlVariantsStream, FilerTestsTheSignature) {
  // Exactly the six signature bytes left: not consumed, not Unicode.
  TStreamPtr Six = MakeStream({'N', 'B', 'U', 'F', 'M', 'T'});
  std::unique_ptr<TvlReader, TObjectFree> R(New<TvlReader>(Six.get()));
  EXPECT_FALSE(R->IsUnicode());
  EXPECT_EQ(Six->Position(), 0);

  TStreamPtr S = MakeStream({'N', 'B', 'U', 'F', 'M', 'T', 2, 0, 'h', 0, 'i', 0});
  R.reset(New<TvlReader>(S.get()));
  EXPECT_TRUE(R->IsUnicode());
  EXPECT_EQ(R->ReadString_(), u"hi");

  TStreamPtr Out = MakeStream();
  std::unique_ptr<TvlWriter, TObjectFree> W(New<TvlWriter>(Out.get()));
  EXPECT_FALSE(W->IsUnicode());
  W->WriteVariant(Variant(1));
  W->WriteFloat(2.5);
  W->WriteWord(7);
  Out->SetPosition(0);
  std::unique_ptr<TvlReader, TObjectFree> Back(New<TvlReader>(Out.get()));
  EXPECT_EQ(Back->ReadVariant().AsInteger(), 1);
  EXPECT_EQ(Back->ReadFloat(), 2.5);
  EXPECT_EQ(Back->ReadWord(), 7);
}

// --- Comparison --------------------------------------------------------------------

TEST(vlVariantsCompare, EmptyNullAndScalarRules) {
  struct {
    Variant A, B;
    Integer Expected;
  } Cases[] = {
      {Variant(), Variant(), 0},
      {Variant(), Null(), -1},
      {Null(), Variant(), 1},
      {Null(), Null(), 0},
      {Null(), Variant(0), -1},
      {Variant(0), Null(), 1},
      {Null(), Variant(String()), -1},
      {Variant(1), Variant(2.5), -1},
      {Variant(3), Variant(Currency::FromRaw(30000)), 0},
      {Variant(String(u"b")), Variant(String(u"a")), 1},
      {Variant(String(u"10")), Variant(9), 1},
      {Variant(String(u"10")), Variant(10), 1},  // text after every number, never converted
      {Variant(String(u"10")), Variant(String(u"9")), -1},
      {Variant(true), Variant(false), -1},  // True = -1
      {Variant(true), Variant(-0.5), -1},
      {Variant(true), Variant(Currency::FromRaw(-10000)), 0},
      {Variant(Int64(9007199254740993)), Variant(9007199254740992.0), 1},  // exactly, not as doubles
      {Variant(Currency::FromRaw(1000)), Variant(0.1), -1},  // the double 0.1 is a little above 0.1
      {Variant(Currency::FromRaw(1000)), Variant(0.09999999999999999), 1},
      {VarFromDateTime(2.0), Variant(2), 0},
  };
  for (const auto& C : Cases) {
    EXPECT_EQ(vlCompareVariants(C.A, C.B), C.Expected) << Text(C.A) << " vs " << Text(C.B);
  }
}

TEST(vlVariantsCompare, UncomparableValuesOrderTheSameInBothDirections) {
  const Variant Values[] = {Variant(5),           Variant(String(u"abc")), Variant(2.5),
                            Variant(true),        VarFromDateTime(1000),   Variant(String(u"xyz")),
                            Variant(std::nan(""))};
  for (const Variant& A : Values) {
    for (const Variant& B : Values) {
      Integer AB = vlCompareVariants(A, B), BA = vlCompareVariants(B, A);
      EXPECT_EQ((AB > 0) - (AB < 0), -((BA > 0) - (BA < 0))) << Text(A) << " vs " << Text(B);
    }
  }
  // Text that is no number comes after the number.
  EXPECT_EQ(vlCompareVariants(Variant(String(u"abc")), Variant(5)), 1);
  EXPECT_EQ(vlCompareVariants(Variant(5), Variant(String(u"abc"))), -1);
}

// Every mix of kinds: the comparison is antisymmetric and both its order and
// its equality are transitive, so any sort of such values is consistent.
TEST(vlVariantsCompare, EveryMixIsAStrictWeakOrder) {
  const Variant Values[] = {Variant(),
                            Null(),
                            Variant(9),
                            Variant(10),
                            Variant(Int64(9007199254740993)),
                            Variant(Int64(9007199254740992)),
                            Variant(9007199254740992.0),
                            Variant(10.0),
                            Variant(-0.5),
                            Variant(0.1),
                            Variant(Currency::FromRaw(1000)),
                            Variant(Currency::FromRaw(-5000)),
                            Variant(Currency::FromRaw(100000)),
                            Variant(true),
                            Variant(false),
                            VarFromDateTime(10.0),
                            Variant(std::nan("")),
                            Variant(String(u"10")),
                            Variant(String(u"9")),
                            Variant(String(u"abc")),
                            Variant("10"),
                            VarFMTBcdCreate(StrToBcd(u"10")),
                            VarFMTBcdCreate(0.1),
                            VarSQLTimeStampCreate(10.5)};
  auto Sign = [](const Variant& A, const Variant& B) {
    const Integer R = vlCompareVariants(A, B);
    return (R > 0) - (R < 0);
  };
  for (const Variant& A : Values)
    for (const Variant& B : Values) {
      ASSERT_EQ(Sign(A, B), -Sign(B, A)) << Text(A) << " vs " << Text(B);
      for (const Variant& C : Values) {
        if (Sign(A, B) < 0 && Sign(B, C) < 0) EXPECT_LT(Sign(A, C), 0) << Text(A) << " " << Text(B) << " " << Text(C);
        if (Sign(A, B) == 0 && Sign(B, C) == 0) EXPECT_EQ(Sign(A, C), 0) << Text(A) << " " << Text(B) << " " << Text(C);
      }
    }
}

TEST(vlVariantsCompare, Arrays) {
  Variant A12 = VarArrayOf({Variant(1), Variant(2)});
  Variant A123 = VarArrayOf({Variant(1), Variant(2), Variant(3)});
  Variant A13 = VarArrayOf({Variant(1), Variant(3)});
  EXPECT_EQ(vlCompareVariants(A12, A123), -1);
  EXPECT_EQ(vlCompareVariants(A123, VarArrayOf({})), 3);  // the raw bound difference
  EXPECT_EQ(vlCompareVariants(A12, A13), -1);
  EXPECT_EQ(vlCompareVariants(A13, A12), 1);
  EXPECT_EQ(vlCompareVariants(A12, VarArrayOf({Variant(1), Variant(2.0)})), 0);
  EXPECT_EQ(vlCompareVariants(A12, Variant(99)), 1);
  EXPECT_EQ(vlCompareVariants(Null(), A12), -1);
  EXPECT_EQ(vlCompareVariants(VarArrayOf({A12}), VarArrayOf({A13})), -1);
  EXPECT_TRUE(vlVariantsEqual(A12, VarArrayOf({Variant(1), Variant(2)})));
}

TEST(vlVariantsCompare, EditValuesAndTests) {
  EXPECT_TRUE(vlEditValuesEqual(Variant(true), Variant(String(u"True"))));
  EXPECT_FALSE(vlEditValuesEqual(Variant(true), Variant(String(u"true"))));
  EXPECT_FALSE(vlEditValuesEqual(Null(), Variant(false)));
  EXPECT_TRUE(vlEditValuesEqual(Variant(1), Variant(1.0)));
  EXPECT_TRUE(vlEditValuesEqual(Null(), Null()));

  EXPECT_TRUE(vlVarIsDateTime(VarFromDateTime(1)));
  EXPECT_TRUE(vlVarIsDateTime(VarSQLTimeStampCreate()));
  EXPECT_FALSE(vlVarIsDateTime(Variant(1.0)));
  EXPECT_TRUE(vlVarIsNumber(Variant(Currency())));
  EXPECT_TRUE(vlVarIsNumber(VarFMTBcdCreate(StrToBcd(u"1"))));
  EXPECT_FALSE(vlVarIsNumber(Variant(String(u"1"))));
  EXPECT_TRUE(vlIsSoftNullVariant(Null()));
  EXPECT_TRUE(vlIsSoftNullVariant(Variant(String())));
  EXPECT_FALSE(vlIsSoftNullVariant(Variant()));
  EXPECT_FALSE(vlIsSoftNullVariant(Variant(String(u" "))));
  EXPECT_TRUE(vlIsCurrencyVarType(varCurrency));
  EXPECT_TRUE(vlIsCurrencyVarType(VarFMTBcd()));
  EXPECT_FALSE(vlIsCurrencyVarType(varDouble));
}

TEST(vlVariantsArrays, PairSingleAndAppend) {
  Variant Pair = vlMakeVariantPair(Variant(1), Variant(String(u"x")));
  EXPECT_EQ(VarArrayLowBound(Pair, 1), 0);
  EXPECT_EQ(VarArrayHighBound(Pair, 1), 1);
  EXPECT_EQ(Pair[1].AsString(), u"x");
  Variant Arr = vlMakeVariantSingle(Variant(7));
  EXPECT_EQ(VarArrayHighBound(Arr, 1), 0);
  vlAppendVariant(Arr, Variant(8));
  vlAppendVariant(Arr, Null());
  ASSERT_EQ(VarArrayHighBound(Arr, 1), 2);
  EXPECT_EQ(Arr[0].AsInteger(), 7);
  EXPECT_EQ(Arr[1].AsInteger(), 8);
  EXPECT_TRUE(VarIsNull(Arr[2]));
}

}  // namespace
