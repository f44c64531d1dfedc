#include <gtest/gtest.h>

#include <string>

#include "platform/rtl/CodePages.h"
#include "platform/rtl/Locale.h"
#include "platform/rtl/Strings.h"
#include "platform/rtl/Collation.h"

using namespace std::string_literals;

namespace {

// Sets the system locale for one test and restores the previous one.
class LocaleScope {
 public:
  explicit LocaleScope(TSystemLocale L) : FSaved(SystemLocale()) { SetSystemLocale(L); }
  ~LocaleScope() { SetSystemLocale(FSaved); }

 private:
  TSystemLocale FSaved;
};

TEST(Strings, CopyClampsIndexAndCount) {
  struct Case {
    Integer Index, Count;
    const char16_t* Expected;
  } cases[] = {
      {1, 2, u"ab"},   {2, 2, u"bc"},   {0, 2, u"ab"},  // index below 1 counts as 1, count kept
      {-5, 3, u"abc"}, {3, 10, u"cde"}, {5, 1, u"e"},          {6, 1, u""},
      {2, 0, u""},     {2, -1, u""},    {MaxInt, MaxInt, u""}, {2, MaxInt, u"bcde"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "Copy(abcde, " << c.Index << ", " << c.Count << ")");
    EXPECT_EQ(Copy(String(u"abcde"), c.Index, c.Count), c.Expected);
    EXPECT_EQ(Copy(AnsiString("abcde"), c.Index, c.Count), UTF16ToUTF8(c.Expected));
  }
  EXPECT_EQ(Copy(String(u"abcde"), 3), u"cde");
  EXPECT_EQ(Copy(String(), 1, 1), u"");
}

TEST(Strings, PosAndPosEx) {
  struct Case {
    const char16_t *Sub, *S;
    Integer Offset, Expected;
  } cases[] = {
      {u"b", u"abcabc", 1, 2}, {u"b", u"abcabc", 3, 5}, {u"b", u"abcabc", 6, 0}, {u"bc", u"abcabc", 5, 5},
      {u"", u"abc", 1, 0},     {u"x", u"abc", 1, 0},    {u"a", u"abc", 0, 0},    {u"a", u"abc", -1, 0},
      {u"c", u"abc", 4, 0},    {u"abcd", u"abc", 1, 0}, {u"a", u"", 1, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "offset " << c.Offset);
    EXPECT_EQ(PosEx(c.Sub, c.S, c.Offset), c.Expected);
  }
  EXPECT_EQ(Pos(String(u"ca"), String(u"abcabc")), 3);
  EXPECT_EQ(Pos(u'&', String(u"a&b")), 2);
  EXPECT_EQ(Pos(AnsiString("\x01"), AnsiString("ab\x01")), 3);
}

TEST(Strings, DeleteAndInsertIgnoreOrClampBadPositions) {
  struct DeleteCase {
    Integer Index, Count;
    const char16_t* Expected;
  } deletes[] = {
      {2, 2, u"ade"},   {1, 5, u""},      {4, 100, u"abc"},  {0, 2, u"abcde"},     {-1, 2, u"abcde"},
      {6, 1, u"abcde"}, {2, 0, u"abcde"}, {2, -3, u"abcde"}, {5, MaxInt, u"abcd"},
  };
  for (const DeleteCase& c : deletes) {
    SCOPED_TRACE(testing::Message() << "Delete(abcde, " << c.Index << ", " << c.Count << ")");
    String s = u"abcde";
    Delete(s, c.Index, c.Count);
    EXPECT_EQ(s, c.Expected);
  }
  struct InsertCase {
    Integer Index;
    const char16_t* Expected;
  } inserts[] = {{1, u"XYabc"}, {2, u"aXYbc"}, {4, u"abcXY"}, {99, u"abcXY"}, {0, u"XYabc"}, {-7, u"XYabc"}};
  for (const InsertCase& c : inserts) {
    SCOPED_TRACE(testing::Message() << "Insert at " << c.Index);
    String s = u"abc";
    Insert(u"XY", s, c.Index);
    EXPECT_EQ(s, c.Expected);
  }
}

TEST(Strings, SetLengthAndStringOfChar) {
  String s = u"abc";
  SetLength(s, 5);
  EXPECT_EQ(s, String(u"abc\0\0", 5));
  SetLength(s, -1);
  EXPECT_EQ(s, u"");
  EXPECT_EQ(StringOfChar(u'-', 3), u"---");
  EXPECT_EQ(StringOfChar(u'-', -3), u"");
}

TEST(Strings, TrimRemovesSpacesAndControlCharacters) {
  const String s = u"\t\r\n \x01 a b\x1F \0"s;
  EXPECT_EQ(Trim(s), u"a b");
  EXPECT_EQ(TrimLeft(s), u"a b\x1F \0"s);
  EXPECT_EQ(TrimRight(s), u"\t\r\n \x01 a b");
  EXPECT_EQ(Trim(String(u"\u00A0x\u00A0")), u"\u00A0x\u00A0");  // no-break space is above ' '
  EXPECT_EQ(Trim(String(u"   ")), u"");
  EXPECT_EQ(Trim(AnsiString(" \xFD ")), "\xFD");  // a high byte is text, not blank
}

TEST(Strings, AsciiCaseAndOrdinalComparison) {
  EXPECT_EQ(UpperCase(String(u"abcçiı-z")), u"ABCçIı-Z");
  EXPECT_EQ(LowerCase(String(u"ABCÇİI")), u"abcÇİi");
  EXPECT_EQ(UpCase(u'q'), u'Q');
  EXPECT_EQ(UpCase(u'ş'), u'ş');
  EXPECT_EQ(CompareStr(u"abc", u"abd"), -1);
  EXPECT_EQ(CompareStr(u"a", u"A"), 'a' - 'A');
  EXPECT_LT(CompareStr(u"ab", u"abc"), 0);
  EXPECT_EQ(CompareText(u"HeLLo", u"hello"), 0);
  EXPECT_LT(CompareText(u"a", u"_"), 0);  // 'A' (65) before '_' (95) once folded to upper case
  EXPECT_TRUE(SameText(String(u"KONTÖR"), String(u"kontÖr")));
  EXPECT_FALSE(SameText(String(u"KONTÖR"), String(u"kontör")));  // only ASCII folds
}

TEST(Strings, AnsiCaseFollowsTheLocale) {
  struct Case {
    TSystemLocale Locale;
    const char16_t *In, *Upper, *Lower;
  } cases[] = {
      {TSystemLocale::Turkish, u"i", u"İ", u"i"},
      {TSystemLocale::Turkish, u"I", u"I", u"ı"},
      {TSystemLocale::Turkish, u"ıİ", u"Iİ", u"ıi"},
      {TSystemLocale::Turkish, u"ğüşöç", u"ĞÜŞÖÇ", u"ğüşöç"},
      {TSystemLocale::EnglishUS, u"i", u"I", u"i"},
      {TSystemLocale::EnglishUS, u"I", u"I", u"i"},
      {TSystemLocale::EnglishUS, u"ıİ", u"Iİ", u"ıi"},
      // One character for one: ß and the ligature keep their place.
      {TSystemLocale::EnglishUS, u"straße ﬁ", u"STRAßE ﬁ", u"straße ﬁ"},
      {TSystemLocale::EnglishUS, u"\U00010428", u"\U00010400", u"\U00010428"},  // outside the BMP
  };
  for (const Case& c : cases) {
    LocaleScope scope(c.Locale);
    SCOPED_TRACE(testing::Message() << "locale " << static_cast<int>(c.Locale) << " case " << (&c - cases));
    EXPECT_EQ(AnsiUpperCase(c.In), c.Upper);
    EXPECT_EQ(AnsiLowerCase(c.In), c.Lower);
  }
  LocaleScope tr(TSystemLocale::Turkish);
  EXPECT_EQ(AnsiUpperChar(u'i'), u'İ');
  EXPECT_EQ(AnsiLowerChar(u'I'), u'ı');
  EXPECT_EQ(AnsiUpperCase(String(1, Char(0xD800))), String(1, Char(0xD800)));  // lone surrogate kept
}

TEST(Strings, CompareTextIsOrdinalAnsiCompareTextFollowsTheLocale) {
  struct Case {
    TSystemLocale Locale;
    const char16_t *A, *B;
    int Ansi;  // sign of AnsiCompareText
  } cases[] = {
      {TSystemLocale::Turkish, u"ı", u"I", 0},        // dotless pair
      {TSystemLocale::Turkish, u"i", u"İ", 0},        // dotted pair
      {TSystemLocale::Turkish, u"i", u"I", 1},        // different letters: ı/I sorts before i/İ
      {TSystemLocale::Turkish, u"çay", u"dere", -1},  // ç between c and d
      {TSystemLocale::Turkish, u"çay", u"cep", 1},
      {TSystemLocale::Turkish, u"KONTÖR", u"kontör", 0},
      {TSystemLocale::EnglishUS, u"i", u"I", 0},
      {TSystemLocale::EnglishUS, u"İ", u"i", 1},  // the dot is an accent: not equal
      {TSystemLocale::EnglishUS, u"resume", u"résumé", -1},
      {TSystemLocale::EnglishUS, u"a", u"B", -1},  // ordinal would put 'B' first
      {TSystemLocale::EnglishUS, u"çay", u"cep", -1},  // ç is an accented c here
  };
  for (const Case& c : cases) {
    LocaleScope scope(c.Locale);
    SCOPED_TRACE(testing::Message() << "case " << (&c - cases));
    const Integer r = AnsiCompareText(c.A, c.B);
    EXPECT_EQ((r > 0) - (r < 0), c.Ansi);
    EXPECT_EQ(AnsiSameText(c.A, c.B), c.Ansi == 0);
  }
  LocaleScope tr(TSystemLocale::Turkish);
  EXPECT_NE(CompareText(u"ı", u"I"), 0);  // ordinal: no locale folding
  EXPECT_EQ(CompareText(u"i", u"I"), 0);  // ASCII folding whatever the locale
  EXPECT_LT(CompareText(u"a", u"B"), 0);
  EXPECT_LT(AnsiCompareStr(u"a", u"A"), 0);  // lower case first
  EXPECT_NE(AnsiCompareStr(u"a", u"A"), 0);
  EXPECT_EQ(AnsiCompareStr(u"Kontör", u"Kontör"), 0);
  EXPECT_EQ(AnsiStrLIComp(u"ISTANBULxyz", u"ıstanbul", 8), 0);
  EXPECT_NE(AnsiStrIComp(u"ISTANBUL", u"istanbul"), 0);
}

TEST(Strings, CompareStringW) {
  LocaleScope en(TSystemLocale::EnglishUS);
  EXPECT_EQ(CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, u"Abc", -1, u"aBC", -1), CSTR_EQUAL);
  EXPECT_EQ(CompareStringW(LOCALE_USER_DEFAULT, 0, u"abc", -1, u"abd", -1), CSTR_LESS_THAN);
  EXPECT_EQ(CompareStringW(LOCALE_USER_DEFAULT, 0, u"abcX", 3, u"abc", 3), CSTR_EQUAL);
  EXPECT_EQ(CompareStringW(LOCALE_TURKISH, NORM_IGNORECASE, u"ı", -1, u"I", -1), CSTR_EQUAL);
  EXPECT_EQ(CompareStringW(LOCALE_ENGLISH_US, NORM_IGNORECASE, u"ı", -1, u"I", -1), CSTR_GREATER_THAN);
  EXPECT_EQ(CompareStringW(LOCALE_USER_DEFAULT, 0x1000, u"a", -1, u"a", -1), 0);  // unknown flag
  EXPECT_EQ(CompareStringW(LOCALE_USER_DEFAULT, 0, nullptr, -1, u"a", -1), 0);
  EXPECT_EQ(CompareStringW(LOCALE_USER_DEFAULT, 0, u"a", -2, u"a", -1), 0);
}

TEST(Strings, StartsEndsContains) {
  LocaleScope tr(TSystemLocale::Turkish);
  EXPECT_TRUE(StartsText(u"İST", u"istanbul"));
  EXPECT_FALSE(StartsText(u"IST", u"istanbul"));  // I is the capital of ı under Turkish
  EXPECT_TRUE(StartsText(u"", u"x"));
  EXPECT_FALSE(StartsText(u"abc", u"ab"));
  EXPECT_TRUE(EndsText(u"BUL", u"istanbul"));
  EXPECT_FALSE(EndsText(u"xbul", u"bul"));
  EXPECT_TRUE(ContainsText(u"Kontör Yükle", u"YÜK"));
  EXPECT_TRUE(ContainsText(u"x", u""));
  EXPECT_TRUE(StartsStr(u"ab", u"abc"));
  EXPECT_FALSE(StartsStr(u"AB", u"abc"));
  EXPECT_TRUE(EndsStr(u"bc", u"abc"));
  EXPECT_FALSE(EndsStr(u"abcd", u"bcd"));
  EXPECT_TRUE(ContainsStr(u"abc", u"b"));
}

TEST(Strings, StringReplace) {
  LocaleScope tr(TSystemLocale::Turkish);
  struct Case {
    const char16_t *S, *Old, *New;
    TReplaceFlags Flags;
    const char16_t* Expected;
  } cases[] = {
      {u"a-b-c", u"-", u"+", 0, u"a+b-c"},
      {u"a-b-c", u"-", u"+", rfReplaceAll, u"a+b+c"},
      {u"aaa", u"aa", u"a", rfReplaceAll, u"aa"},  // no rescan of replaced text
      {u"xAx", u"a", u"b", 0, u"xAx"},
      {u"xAxa", u"a", u"bb", rfReplaceAll | rfIgnoreCase, u"xbbxbb"},
      {u"Iğdır ığdır", u"ığ", u"-", rfReplaceAll | rfIgnoreCase, u"-dır -dır"},
      {u"abc", u"", u"x", rfReplaceAll, u"abc"},
      {u"", u"a", u"x", rfReplaceAll, u""},
      {u"abc", u"abc", u"", 0, u""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "case " << (&c - cases));
    EXPECT_EQ(StringReplace(c.S, c.Old, c.New, c.Flags), c.Expected);
  }
}

TEST(Strings, QuotingIdentsAndDelimiters) {
  EXPECT_EQ(QuotedStr(u"it's"), u"'it''s'");
  EXPECT_EQ(QuotedStr(u""), u"''");
  EXPECT_EQ(AnsiQuotedStr(u"a\"b", u'"'), u"\"a\"\"b\"");
  struct Dequote {
    const char16_t *In, *Out;
  } dequotes[] = {
      {u"'it''s'", u"it's"}, {u"'abc", u"abc"}, {u"'ab'cd", u"ab"},
      {u"abc", u"abc"},      {u"''", u"''"},    {u"", u""},
  };
  for (const Dequote& d : dequotes)
    EXPECT_EQ(AnsiDequotedStr(d.In, u'\''), d.Out) << "in: " << (&d - dequotes);

  struct Ident {
    const char16_t* S;
    bool Dots, Valid;
  } idents[] = {
      {u"btOK", false, true}, {u"_x1", false, true},  {u"1x", false, false},     {u"", false, false},
      {u"a b", false, false}, {u"a.b", false, false}, {u"a.b", true, true},      {u"a..b", true, false},
      {u"a.", true, false},   {u".a", true, false},   {u"Kontör", false, false},
  };
  for (const Ident& i : idents) EXPECT_EQ(IsValidIdent(i.S, i.Dots), i.Valid) << "ident: " << (&i - idents);

  EXPECT_EQ(LastDelimiter(u"\\.", u"c:\\dir\\file.txt"), 12);
  EXPECT_EQ(LastDelimiter(u"/", u"abc"), 0);
  EXPECT_TRUE(IsDelimiter(u",;", u"a;b", 2));
  EXPECT_FALSE(IsDelimiter(u",;", u"a;b", 1));
  EXPECT_FALSE(IsDelimiter(u",;", u"a;b", 0));
  EXPECT_FALSE(IsDelimiter(u",;", u"a;b", 4));
}

TEST(Strings, CharacterClassification) {
  struct Case {
    Char C;
    Word Set, Clear;
  } cases[] = {
      {u'A', C1_UPPER | C1_ALPHA | C1_XDIGIT | C1_DEFINED, C1_LOWER | C1_DIGIT},
      {u'ş', C1_LOWER | C1_ALPHA, C1_UPPER | C1_PUNCT},
      {u'İ', C1_UPPER | C1_ALPHA, C1_LOWER},
      {u'7', C1_DIGIT | C1_XDIGIT, C1_ALPHA},
      {u' ', C1_SPACE | C1_BLANK, C1_CNTRL},
      {u'\t', C1_SPACE | C1_BLANK | C1_CNTRL, C1_PUNCT},
      {u'\r', C1_SPACE | C1_CNTRL, C1_BLANK},
      {0x01, C1_CNTRL, C1_SPACE},
      {u'.', C1_PUNCT, C1_ALPHA},
      {u'$', C1_PUNCT, C1_ALPHA},
      {u'€', C1_PUNCT, C1_ALPHA},
      {0x0378, 0, 0xFFFF},  // unassigned: no flags at all
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "U+" << std::hex << static_cast<int>(c.C));
    const Word f = CharTypeFlags(c.C);
    EXPECT_EQ(f & c.Set, c.Set);
    EXPECT_EQ(f & c.Clear, 0);
  }
  Word types[4] = {};
  ASSERT_TRUE(GetStringTypeW(CT_CTYPE1, u"a1", -1, types));  // the NUL is classified too
  EXPECT_TRUE(types[0] & C1_LOWER);
  EXPECT_TRUE(types[1] & C1_DIGIT);
  EXPECT_TRUE(types[2] & C1_CNTRL);
  EXPECT_FALSE(GetStringTypeW(2, u"a", 1, types));  // only CT_CTYPE1
  EXPECT_FALSE(GetStringTypeW(CT_CTYPE1, u"a", 0, types));
  EXPECT_TRUE(IsCharAlphaW(u'ğ'));
  EXPECT_FALSE(IsCharAlphaW(u'5'));
  EXPECT_TRUE(IsCharAlphaNumericW(u'5'));
  EXPECT_TRUE(IsCharUpperW(u'Ğ'));
  EXPECT_TRUE(IsCharLowerW(u'ı'));
}

TEST(Strings, CharNextCountsSurrogatePairsAsOne) {
  const Char text[] = u"a\U0001F600b";  // a, pair, b, NUL
  const Char* p = text;
  p = CharNextW(p);
  EXPECT_EQ(p, text + 1);
  p = CharNextW(p);
  EXPECT_EQ(p, text + 3);
  p = CharNextW(p);
  EXPECT_EQ(p, text + 4);
  EXPECT_EQ(CharNextW(p), text + 4);  // stays at the NUL
  const Char lone[] = {0xD800, u'x', 0};
  EXPECT_EQ(CharNextW(lone), lone + 1);
}

TEST(Strings, AcceleratorText) {
  struct Case {
    const char16_t *Text, *Hotkey, *Stripped, *Underscored;
  } cases[] = {
      {u"&File", u"F", u"File", u"File"},
      {u"Save &As", u"A", u"Save As", u"Save As"},
      {u"A && B", u"", u"A & B", u"A & B"},
      {u"&&&x", u"x", u"&x", u"&x"},
      {u"Tail&", u"", u"Tail", u"Tail_"},
      {u"&a&b", u"b", u"ab", u"ab"},  // the last mark wins
      {u"", u"", u"", u""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "case " << (&c - cases));
    EXPECT_EQ(GetHotkey(c.Text), c.Hotkey);
    EXPECT_EQ(StripHotkey(c.Text), c.Stripped);
    EXPECT_EQ(RemoveAccelChars(c.Text, false), c.Stripped);
    EXPECT_EQ(RemoveAccelChars(c.Text, true), c.Underscored);
  }
  LocaleScope tr(TSystemLocale::Turkish);
  EXPECT_TRUE(IsAccel(u'f', u"&File"));
  EXPECT_TRUE(IsAccel(u'F', u"&file"));
  EXPECT_FALSE(IsAccel(u'x', u"&File"));
  EXPECT_FALSE(IsAccel(u'&', u"A && B"));
  EXPECT_TRUE(IsAccel(u'ı', u"&Iptal"));  // Turkish pair
  EXPECT_FALSE(IsAccel(u'i', u"&Iptal"));
  EXPECT_FALSE(IsAccel(0, u"none"));
}

TEST(Strings, ShortStringKeepsLengthByteAndCutsLongText) {
  static_assert(sizeof(TShortString<6>) == 7);
  static_assert(sizeof(TShortString<4>) == 5);
  TShortString<6> s = AnsiString("AB1234XYZ");
  EXPECT_EQ(s.Len, 6);
  EXPECT_EQ(s.ToAnsi(), "AB1234");
  s = AnsiString("AB");
  EXPECT_EQ(s.Length(), 2);
  EXPECT_EQ(AnsiString(s), "AB");
  EXPECT_EQ(s.Data[2], 0);  // the rest is zero, not left over
  TShortString<4> bad;
  bad.Len = 200;  // a length byte from foreign data
  EXPECT_EQ(bad.Length(), 4);
  EXPECT_EQ(bad.ToAnsi().size(), 4u);
  EXPECT_TRUE(TShortString<4>(AnsiString("ab")) == TShortString<4>(AnsiString("ab")));
}

}  // namespace

TEST(Strings, CollationKeysOrderAsTheCollation) {
  const String Words[] = {u"Kontör", u"kontor", u"ılık", u"İnce", u"ince", u"Ilık", u"çay", u"Çay", u"cay",
                          u"", u"ğ", u"g", u"z", u"Şeker", u"seker", u"a", u"A"};
  for (const String& A : Words)
    for (const String& B : Words)
      for (Boolean IgnoreCase : {false, true}) {
        Integer Want = IgnoreCase ? AnsiCompareText(A, B) : AnsiCompareStr(A, B);
        Integer Got = AnsiCollationKey(A, IgnoreCase).compare(AnsiCollationKey(B, IgnoreCase));
        EXPECT_EQ(Want < 0, Got < 0) << IgnoreCase;
        EXPECT_EQ(Want == 0, Got == 0) << IgnoreCase;
      }
}

// The units of AnsiUpperCase one at a time: Turkish and English rules, a
// surrogate pair with an upper case, pairs without one, broken surrogates.
TEST(Strings, UpperCaseUnitsAreThoseOfAnsiUpperCase) {
  const String Texts[] = {u"istanbul ırmak İi Iı", u"abcxyz ABC 09 ~", u"şğüöç ŞĞÜÖÇ ß ǆ",
                          u"\U00010428x\U00010400", u"\U0001F600", u"\xD801\xD801\xDC28", u"\xDC28\xD801",
                          u"a\xD801"};
  for (TSystemLocale L : {TSystemLocale::Turkish, TSystemLocale::EnglishUS}) {
    LocaleScope Scope(L);
    const TAnsiUpperCaseUnits Upper;
    for (const String& T : Texts) {
      const String Want = AnsiUpperCase(T);
      ASSERT_EQ(Want.size(), T.size());
      for (size_t I = 0; I < T.size(); ++I)
        EXPECT_EQ(Upper.At(T.data(), T.size(), I), Want[I]) << UTF16ToUTF8(T) << " at " << I;
    }
  }
}

// Every code unit of the basic plane, alone and all in one text, against
// AnsiUpperCase, under Turkish and English rules (the units below 0x800 come
// from a table made once, the others from the case mapping).
TEST(Strings, UpperCaseUnitsOfTheWholeBasicPlane) {
  String All;
  for (Cardinal C = 0; C <= 0xFFFF; ++C)
    if (C < 0xD800 || C > 0xDFFF) All.push_back(static_cast<Char>(C));
  for (TSystemLocale L : {TSystemLocale::Turkish, TSystemLocale::EnglishUS}) {
    LocaleScope Scope(L);
    const TAnsiUpperCaseUnits Upper;
    Integer Wrong = 0;
    for (Char C : All) {
      const String One(1, C);
      const String Want = AnsiUpperCase(One);
      ASSERT_EQ(Want.size(), 1u);
      if (Upper.At(One.data(), 1, 0) != Want[0] && ++Wrong <= 10)
        ADD_FAILURE() << "U+" << std::hex << static_cast<Cardinal>(C) << " locale " << static_cast<int>(L);
    }
    const String Want = AnsiUpperCase(All);
    ASSERT_EQ(Want.size(), All.size());
    for (size_t I = 0; I < All.size(); ++I)
      if (Upper.At(All.data(), All.size(), I) != Want[I] && ++Wrong <= 20)
        ADD_FAILURE() << "in the text, U+" << std::hex << static_cast<Cardinal>(All[I]);
    EXPECT_EQ(Wrong, 0);
  }
}

// A builder writes the keys of AnsiCollationKey byte for byte, one after
// another into one buffer, and so does a copy (which has its own collator,
// for another thread); builders of both locales name different collations.
TEST(Strings, CollationKeyBuilderWritesTheSameKeys) {
  const String Words[] = {u"Kontör", u"kontor", u"ılık", u"İnce", u"", u"ğ", u"Şeker", u"a", String(300, u'ş')};
  for (TSystemLocale L : {TSystemLocale::Turkish, TSystemLocale::EnglishUS})
    for (Boolean IgnoreCase : {false, true}) {
      LocaleScope Scope(L);
      const TAnsiCollationKeyBuilder Builder(IgnoreCase);
      const TAnsiCollationKeyBuilder Copy(Builder);
      EXPECT_EQ(Copy.Name(), Builder.Name());
      for (const TAnsiCollationKeyBuilder* B : {&Builder, &Copy}) {
        std::string Keys = "x";
        size_t At = 1;
        for (const String& W : Words) {
          const size_t Length = B->Append(W.data(), W.size(), Keys);
          EXPECT_EQ(Keys.substr(At, Length), AnsiCollationKey(W, IgnoreCase)) << IgnoreCase;
          At += Length;
        }
        EXPECT_EQ(Keys.size(), At);
      }
    }
  LocaleScope Tr(TSystemLocale::Turkish);
  const std::string TurkishName = TAnsiCollationKeyBuilder(false).Name();
  EXPECT_NE(TurkishName, TAnsiCollationKeyBuilder(true).Name());
  LocaleScope En(TSystemLocale::EnglishUS);
  EXPECT_NE(TurkishName, TAnsiCollationKeyBuilder(false).Name());
}

