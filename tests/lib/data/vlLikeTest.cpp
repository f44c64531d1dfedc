#include <gtest/gtest.h>

#include <functional>
#include <random>

#include "lib/data/vlLike.h"
#include "platform/rtl/CodePages.h"
#include "platform/rtl/Strings.h"

namespace {

Boolean Like(const String& Text, const String& Pattern, Char Escape = u'\\') {
  return vlLikeMatch(Text.data(), static_cast<Integer>(Text.size()), Pattern.data(),
                     static_cast<Integer>(Pattern.size()), u'%', u'_', Escape);
}

// The matcher's meaning, written as the plain recursion (exponential, for
// short inputs only).
Boolean Reference(const String& Text, size_t T, const String& Pattern, size_t P, Char Escape) {
  Boolean Escaped = false;
  for (;;) {
    if (P >= Pattern.size()) return T >= Text.size();
    Char C = Pattern[P++];
    if (Escape != 0 && !Escaped && C == Escape) {
      Escaped = true;
      continue;
    }
    if (!Escaped && C == u'%') {
      if (P >= Pattern.size()) return true;
      for (size_t S = T; S < Text.size(); ++S)
        if (Reference(Text, S, Pattern, P, Escape)) return true;
      return false;
    }
    if (T >= Text.size()) return false;
    if (!((!Escaped && C == u'_') || C == Text[T])) return false;
    Escaped = false;
    ++T;
  }
}

TEST(vlLike, Vectors) {
  struct {
    const char16_t* Text;
    const char16_t* Pattern;
    Boolean Expected;
  } Cases[] = {
      {u"", u"%", true},        {u"abc", u"%", true},      {u"", u"", true},
      {u"a", u"", false},       {u"a", u"a%", true},       {u"abc", u"a%", true},
      {u"b", u"a%", false},     {u"a", u"%a%", true},      {u"ba", u"%a%", true},
      {u"bab", u"%a%", true},   {u"bbb", u"%a%", false},   {u"a", u"a%%", false},
      {u"ab", u"_b", true},     {u"b", u"_b", false},      {u"abc", u"_b", false},
      {u"10%", u"10\\%", true}, {u"100", u"10\\%", false}, {u"\\", u"\\\\", true},
      {u"a_", u"a\\_", true},   {u"ab", u"a\\_", false},   {u"ab", u"ab\\", true},
      {u"ab", u"a%\\", false},  {u"ABC", u"abc", false},   {u"aXbYc", u"%a%b%c%", true},
      {u"ab", u"a%b", true},    {u"acb", u"a%b", true},    {u"abx", u"a%b", false},
      {u"ğüş", u"_ü%", true},
  };
  for (const auto& C : Cases) {
    EXPECT_EQ(Like(C.Text, C.Pattern), C.Expected)
        << UTF16ToUTF8(C.Text) << " LIKE " << UTF16ToUTF8(C.Pattern);
  }
  // Without an escape character the backslash is an ordinary character.
  EXPECT_FALSE(Like(u"10%", u"10\\%", 0));
  EXPECT_TRUE(Like(u"10\\x", u"10\\%", 0));
  EXPECT_TRUE(vlMatchesLike(u"Kontör", u"K%r", u'%', u'_'));
  EXPECT_TRUE(vlMatchesLike(u"a*b", u"a*b", u'*', u'?'));
  EXPECT_TRUE(vlMatchesLike(u"axyb", u"a*b", u'*', u'?'));
}

TEST(vlLike, AgreesWithTheRecursiveMeaning) {
  std::mt19937 Rng(12345);
  const Char TextChars[] = {u'a', u'b', u'%', u'\\'};
  const Char PatternChars[] = {u'a', u'b', u'%', u'_', u'\\'};
  for (int Round = 0; Round < 20000; ++Round) {
    String Text, Pattern;
    for (size_t I = Rng() % 7; I > 0; --I) Text += TextChars[Rng() % 4];
    for (size_t I = Rng() % 7; I > 0; --I) Pattern += PatternChars[Rng() % 5];
    Char Escape = Rng() % 2 ? u'\\' : 0;
    ASSERT_EQ(Like(Text, Pattern, Escape), Reference(Text, 0, Pattern, 0, Escape))
        << UTF16ToUTF8(Text) << " LIKE " << UTF16ToUTF8(Pattern) << " escape " << int(Escape);
  }
}

// A prepared pattern matches as vlLikeMatch does, and with upper-cased
// texts as vlLikeMatch does on AnsiUpperCase of the text: random texts of
// Turkish letters, a surrogate pair with a case pair and broken surrogates.
TEST(vlLike, PreparedPatternAgreesWithTheMatcher) {
  std::mt19937 Rng(20261211);
  const String TextUnits[] = {u"a", u"A", u"i", u"I", u"ı", u"İ", u"ş", u"Ş", u"%",
                              u"\U00010428", u"\U00010400", u"\xD801", u"\xDC28", u"\xDC00"};
  const String PatternUnits[] = {u"A", u"I", u"İ", u"Ş", u"%", u"_", u"\\", u"\U00010400", u"a", u"ş"};
  const TAnsiUpperCaseUnits Upper;
  for (int Round = 0; Round < 5000; ++Round) {
    String Text, Pattern;
    for (size_t I = Rng() % 7; I > 0; --I) Text += TextUnits[Rng() % std::size(TextUnits)];
    for (size_t I = Rng() % 5; I > 0; --I) Pattern += PatternUnits[Rng() % std::size(PatternUnits)];
    TvlLikePattern P;
    P.Assign(Pattern.data(), static_cast<Integer>(Pattern.size()), u'%', u'_', u'\\');
    const String Folded = AnsiUpperCase(Text);
    ASSERT_EQ(P.Matches(Text.data(), static_cast<Integer>(Text.size())), Like(Text, Pattern))
        << UTF16ToUTF8(Text) << " LIKE " << UTF16ToUTF8(Pattern);
    ASSERT_EQ(P.MatchesUpperCase(Text.data(), static_cast<Integer>(Text.size()), Upper), Like(Folded, Pattern))
        << UTF16ToUTF8(Text) << " upper-cased LIKE " << UTF16ToUTF8(Pattern);
  }
}

TEST(vlLike, ManyWildcardsStayCheap) {
  // Exponential in the recursive form; immediate here.
  String Text(5000, u'a');
  String Pattern;
  for (int I = 0; I < 200; ++I) Pattern += u"%a";
  Pattern += u"%b";
  EXPECT_FALSE(Like(Text, Pattern));
  EXPECT_TRUE(Like(Text + u"b", Pattern));
}

TEST(vlLike, CollapseAndStrip) {
  String P = u"a%%%b%%";
  vlCollapseWildcards(P, u'%');
  EXPECT_EQ(P, u"a%b%");
  P = u"a%%";
  vlCollapseWildcards(P, u'%');
  EXPECT_TRUE(vlMatchesLike(u"a", P, u'%', u'_'));

  struct {
    const char16_t* Pattern;
    Byte Expected;
    const char16_t* After;
  } Cases[] = {
      {u"abc%", 1, u"abc"}, {u"%abc", 2, u"abc"}, {u"%abc%", 3, u"abc"}, {u"abc", 0, u"abc"}, {u"%", 0, u"%"},
      {u"%%", 0, u"%"},     {u"%a%", 3, u"a"},    {u"%%a%%%", 3, u"a"},  {u"", 0, u""},
  };
  for (const auto& C : Cases) {
    String S = C.Pattern;
    EXPECT_EQ(vlStripLikeWildcards(S, u'%'), C.Expected) << UTF16ToUTF8(C.Pattern);
    EXPECT_EQ(S, C.After);
  }
}

}  // namespace
