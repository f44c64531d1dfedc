#include <gtest/gtest.h>

#include <cstddef>

#include "platform/rtl/DateTime.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Locale.h"
#include "platform/rtl/SqlTimSt.h"

namespace {

class SqlTimeStampTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Saved = SystemLocale();
    SetSystemLocale(TSystemLocale::Turkish);
  }
  void TearDown() override { SetSystemLocale(Saved); }
  TSystemLocale Saved = TSystemLocale::Turkish;
};

TSQLTimeStamp Stamp(SmallInt Y, Word M, Word D, Word H = 0, Word N = 0, Word S = 0, LongWord F = 0) {
  TSQLTimeStamp T;
  T.Year = Y;
  T.Month = M;
  T.Day = D;
  T.Hour = H;
  T.Minute = N;
  T.Second = S;
  T.Fractions = F;
  return T;
}

TEST_F(SqlTimeStampTest, RecordLayout) {
  EXPECT_EQ(offsetof(TSQLTimeStamp, Year), 0u);
  EXPECT_EQ(offsetof(TSQLTimeStamp, Month), 2u);
  EXPECT_EQ(offsetof(TSQLTimeStamp, Second), 10u);
  EXPECT_EQ(offsetof(TSQLTimeStamp, Fractions), 12u);
  EXPECT_TRUE(IsSQLTimeStampBlank(NullSQLTimeStamp));
}

TEST_F(SqlTimeStampTest, RoundTripsThroughDateTime) {
  const TSQLTimeStamp Cases[] = {
      Stamp(2011, 12, 13, 14, 5, 6, 789),   Stamp(1899, 12, 30),    Stamp(1899, 12, 29, 6), Stamp(1, 1, 1),
      Stamp(9999, 12, 31, 23, 59, 59, 999), Stamp(2000, 2, 29, 12),
  };
  for (const TSQLTimeStamp& T : Cases) {
    SCOPED_TRACE(T.Year * 10000 + T.Month * 100 + T.Day);
    TDateTime D = SQLTimeStampToDateTime(T);
    EXPECT_EQ(DateTimeToSQLTimeStamp(D), T);
  }
  EXPECT_EQ(SQLTimeStampToDateTime(Stamp(1899, 12, 29, 6)), -1.25);  // the time counts forward in the day
  EXPECT_EQ(SQLTimeStampToDateTime(Stamp(1900, 1, 1, 12)), 2.5);
  EXPECT_EQ(SQLTimeStampToDateTime(NullSQLTimeStamp), 0);
}

TEST_F(SqlTimeStampTest, InvalidRecordsAreRefused) {
  const TSQLTimeStamp Cases[] = {
      Stamp(2011, 13, 1),
      Stamp(2011, 0, 1),
      Stamp(2011, 4, 31),
      Stamp(2011, 2, 29),
      Stamp(1900, 2, 29),
      Stamp(2011, 1, 0),
      Stamp(2011, 1, 1, 24),
      Stamp(2011, 1, 1, 0, 60),
      Stamp(2011, 1, 1, 0, 0, 60),
      Stamp(2011, 1, 1, 0, 0, 0, 1000),
      Stamp(0, 1, 1),
      Stamp(-5, 1, 1),
      Stamp(10000, 1, 1),
      Stamp(0, 0, 0, 0, 0, 0, 1),
  };
  for (const TSQLTimeStamp& T : Cases) {
    SCOPED_TRACE(T.Year * 10000 + T.Month * 100 + T.Day);
    TDateTime D = 123;
    EXPECT_FALSE(TrySQLTimeStampToDateTime(T, D));
    EXPECT_EQ(D, 123);
    EXPECT_THROW(SQLTimeStampToDateTime(T), EConvertError);
    EXPECT_THROW(CheckSqlTimeStamp(T), EConvertError);
    EXPECT_THROW(SQLTimeStampToStr(u"", T), EConvertError);
  }
}

TEST_F(SqlTimeStampTest, Text) {
  TSQLTimeStamp T = Stamp(2011, 12, 13, 14, 5, 6, 789);
  EXPECT_EQ(SQLTimeStampToStr(u"yyyy-mm-dd hh:nn:ss.zzz", T), u"2011-12-13 14:05:06.789");
  EXPECT_EQ(SQLTimeStampToStr(u"", Stamp(2011, 12, 13)), u"13.12.2011");
  EXPECT_EQ(SQLTimeStampToStr(u"", Stamp(2011, 12, 13, 14, 5, 6)), u"13.12.2011 14:05:06");
  EXPECT_EQ(StrToSQLTimeStamp(u"13.12.2011 14:05:06"), Stamp(2011, 12, 13, 14, 5, 6));
  EXPECT_EQ(StrToSQLTimeStamp(u"13.12.2011"), Stamp(2011, 12, 13));
  for (const char16_t* Bad : {u"", u"abc", u"31.02.2011", u"13.12.2011 25:00", u"12/13/2011"}) {
    TSQLTimeStamp Out;
    EXPECT_FALSE(TryStrToSQLTimeStamp(Bad, Out));
    EXPECT_THROW(StrToSQLTimeStamp(Bad), EConvertError);
  }
  TFormatSettings En = TFormatSettings::Create(LOCALE_ENGLISH_US);
  EXPECT_EQ(StrToSQLTimeStamp(u"12/13/2011", En), Stamp(2011, 12, 13));
}

TEST_F(SqlTimeStampTest, VariantType) {
  TSQLTimeStamp T = Stamp(2011, 12, 13, 14, 5, 6, 500);
  Variant V = VarSQLTimeStampCreate(T);
  EXPECT_TRUE(VarIsSQLTimeStamp(V));
  EXPECT_EQ(VarType(V), VarSQLTimeStamp());
  EXPECT_EQ(VarToSQLTimeStamp(V), T);
  EXPECT_EQ(VarToDateTime(V), SQLTimeStampToDateTime(T));
  EXPECT_EQ(V.AsDouble(), SQLTimeStampToDateTime(T));
  EXPECT_EQ(VarToStr(V), u"13.12.2011 14:05:06");
  EXPECT_EQ(VarType(VarAsType(V, varDate)), varDate);
  EXPECT_TRUE(VarIsSQLTimeStamp(VarSQLTimeStampCreate()));
  EXPECT_EQ(VarToSQLTimeStamp(VarSQLTimeStampCreate(u"13.12.2011")), Stamp(2011, 12, 13));
  EXPECT_EQ(VarToSQLTimeStamp(VarSQLTimeStampCreate(EncodeDate(2011, 12, 13))), Stamp(2011, 12, 13));

  // Compares with dates, date text and other time stamps.
  TDateTime D = SQLTimeStampToDateTime(T);
  EXPECT_TRUE(V == VarFromDateTime(D));
  EXPECT_TRUE(V > VarFromDateTime(EncodeDate(2011, 12, 13)));
  EXPECT_TRUE(V < Variant(u"14.12.2011"));
  EXPECT_TRUE(V < VarSQLTimeStampCreate(Stamp(2011, 12, 13, 14, 5, 6, 501)));
  EXPECT_TRUE(VarSQLTimeStampCreate(Stamp(-1, 1, 1)) < VarSQLTimeStampCreate(Stamp(1, 1, 1)));
  EXPECT_TRUE(Null() < V);
  EXPECT_THROW((void)(V == Variant(u"abc")), EVariantTypeCastError);

  // Days added give a time stamp; the difference of two moments is a number.
  Variant Next = V + 1;
  EXPECT_TRUE(VarIsSQLTimeStamp(Next));
  EXPECT_EQ(VarToSQLTimeStamp(Next), Stamp(2011, 12, 14, 14, 5, 6, 500));
  EXPECT_EQ(VarToSQLTimeStamp(1 + V), Stamp(2011, 12, 14, 14, 5, 6, 500));
  EXPECT_EQ(VarType(Next - V), varDouble);
  EXPECT_DOUBLE_EQ((Next - V).AsDouble(), 1.0);
  EXPECT_THROW(V * 2, EVariantInvalidOpError);

  // Failed conversions are variant errors.
  EXPECT_THROW(VarToSQLTimeStamp(Variant(u"abc")), EVariantTypeCastError);
  EXPECT_THROW(VarToSQLTimeStamp(Null()), EVariantTypeCastError);
  EXPECT_THROW(VarToSQLTimeStamp(Variant(true)), EVariantTypeCastError);
  Variant Bad = VarSQLTimeStampCreate(Stamp(2011, 2, 30));
  EXPECT_THROW(VarToDateTime(Bad), EVariantTypeCastError);
  EXPECT_THROW(VarToStr(Bad), EVariantTypeCastError);
  EXPECT_THROW(Bad.AsBoolean(), EVariantTypeCastError);
}

}  // namespace
