#include "platform/rtl/Guid.h"

#include <gtest/gtest.h>

#include "platform/rtl/Exceptions.h"

namespace {

constexpr TGUID kUnknown = GUIDConst("{00000000-0000-0000-C000-000000000046}");
constexpr TGUID kSample = GUIDConst("{0a1B2c3D-4e5F-6789-aBcD-ef0123456789}");
static_assert(kUnknown.D1 == 0 && kUnknown.D4[0] == 0xC0 && kUnknown.D4[7] == 0x46);
static_assert(kSample == TGUID{0x0A1B2C3D, 0x4E5F, 0x6789, {0xAB, 0xCD, 0xEF, 0x01, 0x23, 0x45, 0x67, 0x89}});
static_assert(!(kSample == kUnknown));

TEST(GuidTest, TextRoundTrip) {
  EXPECT_EQ(GUIDToString(kSample), u"{0A1B2C3D-4E5F-6789-ABCD-EF0123456789}");
  EXPECT_EQ(GUIDToString(GUID_NULL), u"{00000000-0000-0000-0000-000000000000}");
  EXPECT_EQ(StringToGUID(u"{0a1b2c3d-4e5f-6789-abcd-ef0123456789}"), kSample);
  EXPECT_EQ(StringToGUID(GUIDToString(kUnknown)), kUnknown);
  EXPECT_TRUE(IsEqualGUID(StringToGUID(u"{FFFFFFFF-FFFF-FFFF-FFFF-FFFFFFFFFFFF}"),
                          TGUID{0xFFFFFFFF, 0xFFFF, 0xFFFF, {255, 255, 255, 255, 255, 255, 255, 255}}));
}

TEST(GuidTest, BadTextsRaise) {
  const char16_t* bad[] = {
      u"",
      u"{}",
      u"0A1B2C3D-4E5F-6789-ABCD-EF0123456789",
      u"{0A1B2C3D-4E5F-6789-ABCD-EF0123456789",
      u"{0A1B2C3D-4E5F-6789-ABCD-EF0123456789} ",
      u" {0A1B2C3D-4E5F-6789-ABCD-EF0123456789}",
      u"{0A1B2C3D-4E5F-6789-ABCD-EF01234567890}",
      u"{0A1B2C3D4E5F-6789-ABCD-EF0123456789-}",
      u"{0A1B2C3G-4E5F-6789-ABCD-EF0123456789}",
      u"{0A1B2C3D-4E5F-6789-ABCD-EF012345678Z}",
      u"{+A1B2C3D-4E5F-6789-ABCD-EF0123456789}",
      u"{0A1B2C3D-4E5F-6789-ABCD-EF01234567８9}",
  };
  for (const char16_t* text : bad) {
    try {
      StringToGUID(text);
      ADD_FAILURE() << "accepted a bad GUID";
    } catch (const EConvertError& e) {
      EXPECT_EQ(e.Message(), u"'" + String(text) + u"' is not a valid GUID value");
    }
  }
}

TEST(GuidTest, CreateGivesDistinctVersionFourIds) {
  TGUID a, b;
  ASSERT_EQ(CreateGUID(a), S_OK);
  ASSERT_EQ(CreateGUID(b), S_OK);
  EXPECT_FALSE(a == b);
  EXPECT_EQ(a.D3 >> 12, 4);
  EXPECT_EQ(a.D4[0] & 0xC0, 0x80);
  EXPECT_EQ(StringToGUID(GUIDToString(a)), a);
}

}  // namespace
