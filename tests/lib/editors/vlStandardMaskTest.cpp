// The standard edit mask: compiling, lining texts up, the edit value and the
// validity tests, under the Turkish locale (date separator ".", time ":").
#include <gtest/gtest.h>

#include "lib/editors/vlStandardMask.h"
#include "platform/rtl/CodePages.h"
#include "platform/rtl/Conversions.h"
#include "platform/rtl/Locale.h"

namespace {

std::string U8(const String& S) { return std::string(UTF16ToUTF8(S)); }

struct MaskPtr {
  explicit MaskPtr(const String& AMask) : Mask(New<TvlStandardMask>()) { Mask->Compile(AMask); }
  ~MaskPtr() { Free(Mask); }
  TvlStandardMask* operator->() const { return Mask; }
  TvlStandardMask* Mask;
};

class StandardMaskTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetSystemLocale(TSystemLocale::Turkish);
    ASSERT_EQ(u'.', FormatSettings().DateSeparator);
    ASSERT_EQ(u':', FormatSettings().TimeSeparator);
  }
};

TEST_F(StandardMaskTest, CompileTable) {
  struct Case {
    const char16_t* Mask;
    Integer Count;
    const char16_t* FullEmpty;
    const char16_t* Empty;
    Char Blank;
    Boolean SaveLiterals;
  } cases[] = {
      // The format controller's day, month, four-digit year.
      {u"!99/99/9999;1; ", 10, u"  .  .    ", u"  .  .    ", u' ', true},
      {u"000-000", 7, u"___-___", u"   -   ", u'_', true},
      {u"000-000;0", 7, u"___-___", u"      ", u'_', false},
      {u"000-000;0;*", 7, u"***-***", u"      ", u'*', false},
      {u"(999) 000;1;_", 9, u"(___) ___", u"(   )    ", u'_', true},
      {u"\\0-0", 3, u"0-_", u"0- ", u'_', true},
      {u"99:99", 5, u"__:__", u"  :  ", u'_', true},
      // A ";" section in any other shape is literal text.
      {u"00;1;", 5, u"__;1;", u"  ;1;", u'_', true},
      {u"00;2", 4, u"__;2", u"  ;2", u'_', true},
      {u"0;1;*", 1, u"*", u" ", u'*', true},
      {u"xy\\", 2, u"xy", u"xy", u'_', true},
      {u"><>Ll", 2, u"__", u"  ", u'_', true},
      {u"!", 0, u"", u"", u'_', true},
      {u"", 0, u"", u"", u'_', true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(U8(String(c.Mask)));
    MaskPtr mask(c.Mask);
    EXPECT_EQ(c.Mask, mask->Mask());
    EXPECT_EQ(c.Count, mask->Count());
    EXPECT_EQ(c.FullEmpty, mask->FullEmptyString());
    EXPECT_EQ(c.Empty, mask->EmptyString());
    EXPECT_EQ(c.Blank, mask->Blank());
    EXPECT_EQ(c.SaveLiterals, mask->SaveLiteralCharacters());
  }
}

TEST_F(StandardMaskTest, ItemsOfTheMask) {
  MaskPtr mask(u">L<l<>A9#\\0c");
  ASSERT_EQ(7, mask->Count());
  const TClass classes[] = {TvlStandardMaskAlphaItem::StaticClass(),        TvlStandardMaskAlphaItem::StaticClass(),
                            TvlStandardMaskAlphaNumericItem::StaticClass(), TvlStandardMaskNumericItem::StaticClass(),
                            TvlStandardMaskNumericSymbolItem::StaticClass(), TvlStandardMaskLiteralItem::StaticClass(),
                            TvlStandardMaskASCIIItem::StaticClass()};
  const TvlCaseControl cases[] = {ccUpperCase, ccLowerCase, ccUserCase, ccUserCase, ccUserCase};
  const Boolean optional[] = {false, true, false, true, true};
  for (Integer i = 0; i < 7; ++i) EXPECT_EQ(classes[i], mask->Items(i)->ClassType()) << i;
  for (Integer i = 0; i < 5; ++i) {
    auto* item = static_cast<TvlStandardMaskManyItem*>(mask->Items(i));
    EXPECT_EQ(cases[i], item->CaseControl()) << i;
    EXPECT_EQ(optional[i], item->Optional()) << i;
  }
  // Recompiling starts afresh.
  mask->Compile(u"00;0;*");
  EXPECT_EQ(2, mask->Count());
  mask->Compile(u"00");
  EXPECT_EQ(u'_', mask->Blank());
  EXPECT_TRUE(mask->SaveLiteralCharacters());
}

TEST_F(StandardMaskTest, SlotsAcceptTheirClassesAndRewriteCase) {
  struct Case {
    const char16_t* Mask;
    Char In;
    Boolean Accepted;
    Char Out;
  } cases[] = {
      {u"0", u'7', true, u'7'},  {u"0", u'a', false, u'a'}, {u"#", u'+', true, u'+'}, {u"#", u'-', true, u'-'},
      {u"#", u'*', false, u'*'}, {u"L", u'z', true, u'z'},  {u"L", u'1', false, u'1'},
      // Only ASCII letters are letters; "ş" is refused but still upper-cased.
      // Letter slots give ASCII letters their ASCII case, so that under the
      // Turkish locale "i" still fills an upper-case letter slot; a slot
      // for any character follows the locale.
      {u">L", u'ş', false, u'Ş'}, {u">L", u'i', true, u'I'}, {u"<L", u'I', true, u'i'}, {u">A", u'i', true, u'I'},
      {u">C", u'i', true, u'İ'}, {u"<C", u'I', true, u'ı'}, {u"A", u'5', true, u'5'},
      {u"A", u'_', false, u'_'}, {u"C", u'§', true, u'§'},  {u">C", u'a', true, u'A'}, {u"x", u'x', true, u'x'},
      {u"x", u'X', false, u'X'},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(U8(String(c.Mask) + u" " + c.In));
    MaskPtr mask(c.Mask);
    Char symbol = c.In;
    EXPECT_EQ(c.Accepted, mask->Items(mask->Count() - 1)->Check(symbol));
    EXPECT_EQ(c.Out, symbol);
  }
}

TEST_F(StandardMaskTest, FormatLinesTextsUp) {
  struct Case {
    const char16_t* Mask;
    const char16_t* Text;
    Boolean ChangeCase;
    Boolean Match;
    const char16_t* Result;
  } cases[] = {
      {u"000-000", u"123456", true, true, u"123-456"},
      {u"000-000", u"123-456", true, true, u"123-456"},
      {u"000-000", u"12", true, true, u"12_-___"},
      // A letter over a digit slot finds no slot and is dropped.
      {u"000-000", u"1a2", true, true, u"12_-___"},
      // Blanks keep their slot empty.
      {u"000-000", u"1 3", true, true, u"1_3-___"},
      {u"000-000", u"1_3", true, true, u"1_3-___"},
      {u"00", u"12345", true, true, u"12"},
      // Letters typed over digit slots skip to a slot that takes them.
      {u"00LL", u"ab", true, true, u"__ab"},
      // From the right with "!".
      {u"!99/99/9999;1; ", u"1.2.2011", true, true, u" 1. 2.2011"},
      {u"!99/99/9999;1; ", u"2011", true, true, u"  .  .2011"},
      {u">LL", u"ab", true, true, u"AB"},
      {u">LL", u"ab", false, true, u"ab"},
      {u">L<>L", u"ab", true, true, u"Ab"},
      {u"<LL", u"AB", true, true, u"ab"},
      // Literals are passed over when neither kept nor matched: the "-"
      // of the text finds no slot.
      {u"00-00;0", u"12-34", true, false, u"12-34"},
      {u"00-00;0", u"1-234", true, false, u"12-34"},
      {u"00-00;0", u"1-234", true, true, u"1_-23"},
      {u"", u"abc", true, true, u""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(U8(String(c.Mask) + u" / " + c.Text));
    MaskPtr mask(c.Mask);
    String text = c.Text;
    mask->Format(text, c.ChangeCase, c.Match);
    EXPECT_EQ(c.Result, text);
    EXPECT_EQ(size_t(mask->Count()), text.size());
  }
}

TEST_F(StandardMaskTest, Format2GivesTheEditValue) {
  struct Case {
    const char16_t* Mask;
    const char16_t* Text;
    const char16_t* Result;
  } cases[] = {
      {u"000-000;0", u"12_-3__", u"12 3  "},
      {u"000-000;1", u"12_-3__", u"12 -3  "},
      {u"000-000", u"12", u"12"},
      {u"00", u"1234", u"12"},
      {u"!99/99/9999;1; ", u" 1. 2.2011", u" 1. 2.2011"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(U8(String(c.Mask) + u" / " + c.Text));
    MaskPtr mask(c.Mask);
    String text = c.Text;
    mask->Format2(text);
    EXPECT_EQ(c.Result, text);
  }
}

TEST_F(StandardMaskTest, ValidityTests) {
  struct Case {
    const char16_t* Mask;
    const char16_t* Text;
    Boolean Full;
    Boolean Valid;
  } cases[] = {
      {u"000", u"123", true, true},
      {u"000", u"12", false, true},   // one short
      {u"000", u"1 3", false, true},  // a blank in a required slot
      {u"000", u"1_3", false, true},
      {u"999", u"1 3", true, true},  // optional slots may stay blank
      {u"###", u"+ 3", true, true},
      {u"00-0", u"12-3", true, true},
      {u"00-0", u"12x3", false, false},  // a literal must hold its literal
      {u"00-0", u"12 3", false, false},
      {u"000", u"1234", false, false},
      {u"000", u"a", false, false},
      {u"LL", u"a1", false, false},
      {u"", u"", true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(U8(String(c.Mask) + u" / " + c.Text));
    MaskPtr mask(c.Mask);
    String full = c.Text, valid = c.Text;
    EXPECT_EQ(c.Full, mask->IsFullValid(full));
    EXPECT_EQ(c.Valid, mask->IsValid(valid));
  }
  // Both tests leave the case the slots gave.
  MaskPtr mask(u">LL");
  String text = u"ab";
  EXPECT_TRUE(mask->IsFullValid(text));
  EXPECT_EQ(u"AB", text);
}

TEST_F(StandardMaskTest, SeparatorsAreTakenWhenCompiled) {
  MaskPtr mask(u"99/99");
  EXPECT_EQ(u"__.__", mask->FullEmptyString());
  SetSystemLocale(TSystemLocale::EnglishUS);
  EXPECT_EQ(u"__.__", mask->FullEmptyString());
  mask->Compile(u"99/99");
  EXPECT_EQ(String(u"__") + FormatSettings().DateSeparator + u"__", mask->FullEmptyString());
  SetSystemLocale(TSystemLocale::Turkish);
}

}  // namespace
