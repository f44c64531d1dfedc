#include <gtest/gtest.h>

#include "platform/rtl/CodePages.h"

namespace {

TEST(Utf, RoundTripsAndReplacesIllFormedInput) {
  const String text = u"Kontör İı \U0001F600";
  EXPECT_EQ(UTF8ToUTF16(UTF16ToUTF8(text)), text);
  EXPECT_EQ(UTF8ToUTF16("\xC3"), u"\xFFFD");          // truncated sequence
  EXPECT_EQ(UTF8ToUTF16("\xC0\xAF"), u"\xFFFD\xFFFD");  // overlong form
  EXPECT_EQ(UTF16ToUTF8(String(1, Char(0xD800))), "\xEF\xBF\xBD");  // lone surrogate
}

}  // namespace
