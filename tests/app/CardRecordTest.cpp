#include "app/CardRecord.h"

#include <cmath>
#include <limits>

#include <gtest/gtest.h>

#include "platform/rtl/CodePages.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/Locale.h"

namespace {

TCardRecord ExampleRecord() {
  TCardRecord r;
  r.Kontor = 100;
  r.SeriNo = 0;
  r.FaturaNo = "AB1234";
  r.T1 = 23.14;
  r.T2 = 32.17;
  r.T3 = 12.97;
  r.T4 = 23.14;
  r.T0 = 24.68;
  r.CokluTarife = true;
  r.TarifeYapisi = 1;
  r.DusukAlarm = 10;
  r.TahsilatYeri = "ABCD";
  return r;
}

const TDateTime kExampleTime = EncodeDateTime(2011, 12, 13, 14, 5, 42, 0);
const String kExampleText = u"006400000000AB123W090A0C910511090A09A4810AABCD1112131405";

class CardRecordTest : public ::testing::Test {
 protected:
  void SetUp() override { SetSystemLocale(TSystemLocale::Turkish); }
  void TearDown() override { SetCardClock(nullptr); }
};

TEST_F(CardRecordTest, WorkedExampleWithFixedClock) {
  SetCardClock([] { return kExampleTime; });
  const String text = CardRecordToText(ExampleRecord());
  EXPECT_EQ(text, kExampleText);
  EXPECT_EQ(text[17], u'W');  // check value 0x57 in place of the invoice's "4"
}

TEST_F(CardRecordTest, BuildingEdgeCases) {
  struct Case {
    const char* What;
    void (*Change)(TCardRecord&);
    Integer Pos;
    const char16_t* Expected;
  } cases[] = {
      {"negative serial entry", [](TCardRecord& r) { r.SeriNo = 4294967291u; }, 5, u"94967291"},
      {"serial above 8 digits", [](TCardRecord& r) { r.SeriNo = 123456789u; }, 5, u"23456789"},
      {"tariff 655.36 wraps", [](TCardRecord& r) { r.T1 = 655.36; }, 19, u"0000"},
      {"tariff 655.35", [](TCardRecord& r) { r.T1 = 655.35; }, 19, u"FFFF"},
      {"tariff -1.00", [](TCardRecord& r) { r.T1 = -1.0; }, 19, u"FF9C"},
      {"tie 12.5 to even", [](TCardRecord& r) { r.T1 = 0.125; }, 19, u"000C"},
      {"tie 37.5 to even", [](TCardRecord& r) { r.T1 = 0.375; }, 19, u"0026"},
      {"NaN tariff", [](TCardRecord& r) { r.T2 = std::numeric_limits<double>::quiet_NaN(); }, 23, u"0000"},
      {"huge tariff", [](TCardRecord& r) { r.T3 = 1e300; }, 27, u"0000"},
      // Between 9.2e18 and 2^63 the product still fits: its low 16 bits.
      {"tariff just below 2^63", [](TCardRecord& r) { r.T3 = 9.2233720368547e16; }, 27, u"DC00"},
      {"tariff of 2^63", [](TCardRecord& r) { r.T3 = 9223372036854775808.0 / 100.0; }, 27, u"0000"},
      {"tariff order T1 T2 T3 T4 T0", [](TCardRecord& r) { r.T0 = 0.01; }, 35, u"0001"},
      {"structure keeps 7 bits",
       [](TCardRecord& r) {
         r.TarifeYapisi = 200;
         r.CokluTarife = false;
       },
       39, u"48"},
      {"multi-tariff flag", [](TCardRecord& r) { r.TarifeYapisi = 0; }, 39, u"80"},
      {"alarm", [](TCardRecord& r) { r.DusukAlarm = 255; }, 41, u"FF"},
      {"collection point padded", [](TCardRecord& r) { r.TahsilatYeri = "X"; }, 43, u"X   "},
      {"credit in upper-case hex", [](TCardRecord& r) { r.Kontor = 0xABCD; }, 1, u"ABCD"},
  };
  SetCardClock([] { return kExampleTime; });
  for (const Case& c : cases) {
    TCardRecord r = ExampleRecord();
    c.Change(r);
    const String text = CardRecordToText(r);
    ASSERT_EQ(text.size(), 56u) << c.What;
    const String expected = c.Expected;
    EXPECT_EQ(text.substr(size_t(c.Pos - 1), expected.size()), expected) << c.What;
  }
}

TEST_F(CardRecordTest, CheckCharacter) {
  SetCardClock([] { return kExampleTime; });
  // A short invoice is padded first: its spaces enter the check.
  TCardRecord r = ExampleRecord();
  r.FaturaNo = "AB";
  String text = CardRecordToText(r);
  EXPECT_EQ(text.substr(12, 5), u"AB   ");
  Byte check = 0 ^ 100;
  for (Char c : String(u"00000000AB   ")) check ^= Byte(c);
  EXPECT_EQ(text[17], Char(check));

  // A Turkish letter enters with the low 8 bits of its code: "Ş" is U+015E.
  r.FaturaNo = StringToAnsi(u"Ş");
  text = CardRecordToText(r);
  EXPECT_EQ(text[12], u'Ş');
  check = 0 ^ 100;
  for (Char c : String(u"00000000    ")) check ^= Byte(c);
  EXPECT_EQ(text[17], Char(check ^ 0x5E));

  EXPECT_EQ(CardCheckValue(0x1234, u"", u""), 0x12 ^ 0x34);
}

TEST_F(CardRecordTest, ClockOutsideTheCentury) {
  TCardRecord r = ExampleRecord();
  EXPECT_EQ(CardRecordToText(r, EncodeDateTime(2100, 1, 2, 3, 4, 0, 0)).size(), 57u);
  const String before = CardRecordToText(r, EncodeDateTime(1999, 12, 31, 23, 59, 0, 0));
  EXPECT_EQ(before.substr(46), u"-112312359");
}

TEST_F(CardRecordTest, HelpersZeroPadAndPad) {
  struct {
    Integer Value, Width;
    const char16_t* Expected;
  } pads[] = {{5, 2, u"05"},  {123, 2, u"123"}, {-5, 3, u"0-5"},    {7, 0, u""},
              {7, 12, u"07"}, {7, -3, u"7"},    {0, 8, u"00000000"}};
  for (const auto& p : pads)
    EXPECT_EQ(ZeroPadNumber(p.Value, p.Width), p.Expected) << p.Value << "/" << p.Width;
  EXPECT_EQ(PadField(u"ABCDEFGH", 6), u"ABCDEF");
  EXPECT_EQ(PadField(u"AB", 4), u"AB  ");
  EXPECT_EQ(PadField(u"AB", 0), u"");
}

TEST_F(CardRecordTest, ReadingTheExample) {
  TCardRecord r;
  ASSERT_TRUE(CardTextToRecord(kExampleText, r));
  EXPECT_EQ(r.Kontor, 100);
  EXPECT_EQ(r.SeriNo, 0u);
  EXPECT_EQ(r.FaturaNo.ToAnsi(), "AB123W");  // the sixth character is the check character
  EXPECT_DOUBLE_EQ(r.T1, 23.14);
  EXPECT_DOUBLE_EQ(r.T2, 32.17);
  EXPECT_DOUBLE_EQ(r.T3, 12.97);
  EXPECT_DOUBLE_EQ(r.T4, 23.14);
  EXPECT_DOUBLE_EQ(r.T0, 24.68);
  EXPECT_TRUE(r.CokluTarife);
  EXPECT_EQ(r.TarifeYapisi, 1);
  EXPECT_EQ(r.DusukAlarm, 10);
  EXPECT_EQ(r.TahsilatYeri.ToAnsi(), "ABCD");
  EXPECT_EQ(r.YuklemeTS, EncodeDateTime(2011, 12, 13, 14, 5, 0, 0));
}

TEST_F(CardRecordTest, ReadingEdgeCases) {
  auto with = [](Integer Pos, const String& Field) {
    String t = kExampleText;
    t.replace(size_t(Pos - 1), Field.size(), Field);
    return t;
  };
  TCardRecord r;
  ASSERT_TRUE(CardTextToRecord(with(1, u"00FA"), r));
  EXPECT_EQ(r.Kontor, 250);
  ASSERT_TRUE(CardTextToRecord(with(1, u"00fa"), r));
  EXPECT_EQ(r.Kontor, 250);
  ASSERT_TRUE(CardTextToRecord(with(1, u"00G0"), r));
  EXPECT_EQ(r.Kontor, 0);
  ASSERT_TRUE(CardTextToRecord(with(19, u"ZZZZ"), r));
  EXPECT_EQ(r.T1, 0.0);
  ASSERT_TRUE(CardTextToRecord(with(5, u"1234567X"), r));
  EXPECT_EQ(r.SeriNo, 0u);

  // Month 13: no time of loading, everything else decoded.
  ASSERT_TRUE(CardTextToRecord(with(47, u"9913321299"), r));
  EXPECT_EQ(r.YuklemeTS, 0.0);
  EXPECT_EQ(r.Kontor, 100);
  EXPECT_EQ(r.TahsilatYeri.ToAnsi(), "ABCD");
  // Fields that do not parse: year and month and day 1, hour and minute 0.
  ASSERT_TRUE(CardTextToRecord(with(47, u"xxxxxxxxxx"), r));
  EXPECT_EQ(r.YuklemeTS, EncodeDateTime(2001, 1, 1, 0, 0, 0, 0));

  // Any other length fails and leaves the record zero.
  r.Kontor = 7;
  EXPECT_FALSE(CardTextToRecord(kExampleText.substr(0, 55), r));
  EXPECT_EQ(r.Kontor, 0);
  EXPECT_FALSE(CardTextToRecord(kExampleText + u"0", r));
  EXPECT_FALSE(CardTextToRecord(u"", r));
}

}  // namespace
