#include "platform/rtl/Format.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/rtl/CodePages.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Locale.h"

namespace {

std::string U8(const String& S) { return UTF16ToUTF8(S); }

TEST(Format, SpecifiersWidthPrecisionAndIndex) {
  const TFormatSettings FS = TFormatSettings::Create(LOCALE_ENGLISH_US);
  const String Name = u"Port";
  const AnsiString Ansi = "abc";
  struct Case {
    const char16_t* Fmt;
    std::vector<TVarRec> Args;
    const char* Expected;
  };
  const std::vector<Case> Cases = {
      {u"COM%d", {3}, "COM3"},
      {u"List index out of bounds (%d)", {-1}, "List index out of bounds (-1)"},
      {u"%s - [%s]", {Name, u"Main"}, "Port - [Main]"},
      {u"%s for %s", {u"a", u"b"}, "a for b"},
      {u"%1:s %0:s", {u"x", u"y"}, "y x"},
      {u"%1:s %s %0:s", {u"a", u"b", u"c"}, "b c a"},
      {u"%5d|%-5d|", {42, 42}, "   42|42   |"},
      {u"%.5d", {-12}, "-00012"},
      {u"%3d", {12345}, "12345"},
      {u"%*d|%-*d|", {4, 7, 3, 8}, "   7|8  |"},
      {u"%*d", {-4, 7}, "7"},
      {u"%d", {Int64{-9223372036854775807} - 1}, "-9223372036854775808"},
      {u"%d", {Cardinal{4000000000u}}, "4000000000"},
      {u"%u", {-1}, "4294967295"},
      {u"%x|%.4x|%X", {255, 255, -1}, "FF|00FF|FFFFFFFF"},
      {u"%x", {Int64{-1}}, "FFFFFFFFFFFFFFFF"},
      {u"%.2f|%f|%.0f", {3.14159, 2.0, 2.5}, "3.14|2.00|3"},
      {u"%e", {1234.5}, "1.23450000000000E+003"},
      {u"%.3e", {1234.5}, "1.23E+003"},
      {u"%g|%g|%.3g", {23.14, 1e20, 1234.5}, "23.14|1E20|1.23E3"},
      {u"%n", {1234567.5}, "1,234,567.50"},
      {u"%m|%.0m", {1234.5, -2.0}, "$1,234.50|($2)"},
      {u"%m", {Currency::FromRaw(-12345)}, "($1.23)"},
      {u"%.4f", {MaxCurrency}, "922337203685477.5807"},
      {u"%8.3f|%-8.1f|", {-1.5, 1.5}, "  -1.500|1.5     |"},
      {u"%.3s|%10s|%-4s|", {u"abcdef", u"right", u"l"}, "abc|     right|l   |"},
      {u"%s%s%s%s", {u'x', 'y', Ansi, "z"}, "xyabcz"},
      {u"%s", {static_cast<const Char*>(nullptr)}, ""},
      {u"100%% %d%%", {5}, "100% 5%"},
      {u"%D %S", {1, u"s"}, "1 s"},
      {u"%p", {nullptr}, "0000000000000000"},
      {u"no args", {}, "no args"},
      {u"%0:s%0:s", {u"ab"}, "abab"},
      {u"%.s|", {u"abc"}, "|"},
  };
  for (const Case& C : Cases)
    EXPECT_EQ(U8(Format(C.Fmt, C.Args.data(), C.Args.size(), FS)), C.Expected) << U8(C.Fmt);
}

TEST(Format, UsesTheSettingsSeparators) {
  const TFormatSettings Tr = TFormatSettings::Create(LOCALE_TURKISH);
  EXPECT_EQ(U8(Format(u"%.2f %n %m", {3.5, 1234.5, 1234.5}, Tr)), "3,50 1.234,50 1.234,50 TL");
}

TEST(Format, BadSpecifiersAndArgumentsRaise) {
  struct Case {
    const char16_t* Fmt;
    std::vector<TVarRec> Args;
  };
  const std::vector<Case> Cases = {
      {u"%d", {u"text"}},     {u"%s", {5}},          {u"%f", {5}},          {u"%d", {2.5}},
      {u"%d", {}},            {u"%d %d", {1}},       {u"%", {1}},           {u"abc%", {}},
      {u"%z", {1}},           {u"%5", {1}},          {u"%2:s", {u"a", u"b"}}, {u"%d", {true}},
      {u"%s", {true}},        {u"%*d", {u"w", 1}},   {u"%x", {1.5}},        {u"%p", {1}},
      {u"%99999999d", {1}},   {u"%.99999999f", {1.0}}, {u"%-", {1}},        {u"%1:", {1}},
  };
  for (const Case& C : Cases) {
    try {
      Format(C.Fmt, C.Args.data(), C.Args.size());
      ADD_FAILURE() << "no error for " << U8(C.Fmt);
    } catch (const EConvertError& E) {
      EXPECT_EQ(U8(E.Message()), "Format '" + U8(C.Fmt) + "' invalid or incompatible with argument");
    }
  }
}

TEST(Format, CallsReadLikeTheOriginal) {
  Integer N = 4;
  String S = Format(u"COM%d", {N});
  EXPECT_EQ(U8(S), "COM4");
  String Out;
  FmtStr(Out, u"%s=%d", {S, 1});
  EXPECT_EQ(U8(Out), "COM4=1");
}

}  // namespace
