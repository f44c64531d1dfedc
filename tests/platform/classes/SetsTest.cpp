#include <gtest/gtest.h>

#include "platform/classes/Sets.h"
#include "platform/classes/TypInfo.h"

namespace {

CL_ENUM(TStColor, Byte, scRed, scGreen, scBlue);
using TStColors = TSet<TStColor, 1>;

// 20 values: element 19 lives in the third byte.
CL_ENUM(TStWide, Byte, w0, w1, w2, w3, w4, w5, w6, w7, w8, w9, w10, w11, w12, w13, w14, w15, w16, w17, w18, w19);
using TStWides = TSet<TStWide, 4>;

TEST(Sets, OperatorsFollowThePlatform) {
  TStColors a{scRed, scBlue};
  TStColors b{scBlue};
  EXPECT_TRUE(a.Contains(scRed));
  EXPECT_FALSE(a.Contains(scGreen));
  EXPECT_EQ(a + TStColors{scGreen}, (TStColors{scRed, scGreen, scBlue}));
  EXPECT_EQ(a - b, TStColors{scRed});
  EXPECT_EQ(a * b, b);
  EXPECT_TRUE(b <= a);
  EXPECT_FALSE(a <= b);
  EXPECT_TRUE(a >= b);
  EXPECT_TRUE(TStColors{} <= b);
  EXPECT_TRUE(TStColors{}.Empty());
  TStColors c;
  c += scGreen;
  c.Include(scRed).Exclude(scGreen);
  EXPECT_EQ(c, TStColors{scRed});
  c -= scRed;
  EXPECT_TRUE(c.Empty());
  EXPECT_FALSE(TStColors{}.Contains(static_cast<TStColor>(200)));  // out of range is never in
}

TEST(Sets, StorageSizesAndStoredIntegers) {
  static_assert(sizeof(TStColors) == 1);
  static_assert(sizeof(TStWides) == 4);
  static_assert(sizeof(TSet<TStWide, 2>) == 2);
  static_assert(sizeof(TSet<TStWide, 32>) == 32);
  static_assert(std::is_same_v<decltype(TStColors().ToInt()), uint8_t>);
  static_assert(std::is_same_v<decltype(TStWides().ToInt()), uint32_t>);
  EXPECT_EQ((TStColors{scRed, scBlue}).ToInt(), 0b101);
  EXPECT_EQ((TStWides{w0, w19}).ToInt(), 0x80001u);
  EXPECT_EQ(TStWides::FromInt(0x80001u), (TStWides{w0, w19}));
  EXPECT_EQ((TStWides{w19}).Bytes()[2], 0x08);
  EXPECT_EQ(TStColors::FromInt(0xFF).ToInt(), 0xFF);  // bits beyond the enumeration are kept, as in memory
  // An element beyond the storage raises instead of writing past it.
  EXPECT_THROW(TSet<TStWide>().Include(static_cast<TStWide>(32)), ERangeError);
  EXPECT_THROW((TSet<TStWide, 2>{w16}), ERangeError);
  constexpr TStColors k{scGreen};
  static_assert(k.Contains(scGreen));
}

TEST(Sets, TextThroughValueNames) {
  EXPECT_EQ((TStColors{scRed, scBlue}).ToString(), u"[scRed,scBlue]");
  EXPECT_EQ((TStColors{scRed, scBlue}).ToString(false), u"scRed,scBlue");
  EXPECT_EQ(TStColors().ToString(), u"[]");
  EXPECT_EQ((TStWides{w2, w19}).ToString(), u"[w2,w19]");
  EXPECT_EQ(TStColors::FromString(u"[ scblue , scRed ]"), (TStColors{scRed, scBlue}));
  EXPECT_EQ(TStColors::FromString(u"scGreen"), TStColors{scGreen});
  EXPECT_TRUE(TStColors::FromString(u"").Empty());
  EXPECT_TRUE(TStColors::FromString(u"[]").Empty());
  EXPECT_TRUE(TStColors::FromString(u"[,]").Empty());
  try {
    TStColors::FromString(u"[scRed,scPink]");
    FAIL();
  } catch (const EPropertyConvertError& e) {
    EXPECT_EQ(e.Message(), u"Invalid property element: scPink");
  }
  // Bits without a name are written as numbers.
  EXPECT_EQ(TStColors::FromInt(0x81).ToString(), u"[scRed,7]");
}

}  // namespace
