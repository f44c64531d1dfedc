// The line model: fields, tokens, column deletion and moves, merging,
// value replacement and the text helpers, as tables ("|" is the delimiter).
#include <gtest/gtest.h>

#include "localization/qlComp.h"
#include "platform/classes/StringLists.h"
#include "platform/rtl/CodePages.h"
#include "platform/rtl/Locale.h"
#include "tests/localization/LocalizationFixtures.h"

using namespace loc_test;

TEST(Lines, ExtractField) {
  struct {
    const char16_t* Line;
    Integer N;
    const char* Expected;
  } const cases[] = {{u"P|a|b|", 0, "P"}, {u"P|a|b|", 1, "a"}, {u"P|a|b|", 2, "b"}, {u"P|a|b|", 3, ""},
                     {u"P|a|b", 2, ""},   {u"P|a|b", 1, "a"},  {u"P", 0, ""},        {u"||x|", 2, "x"},
                     {u"P|a|", -1, ""}};
  for (const auto& c : cases) EXPECT_EQ(Show(ExtractField(L(c.Line), Char(1), c.N)), c.Expected) << Show(L(c.Line)) << c.N;
}

TEST(Lines, Tokens) {
  struct {
    const char16_t* Text;
    Integer N;
    Integer Start;
    const char* Token;
  } const cases[] = {
      {u"Comp.Prop|x|", 1, 1, "Comp"}, {u"Comp.Prop|x|", 2, 6, "Prop"}, {u"Comp.Prop|x|", 3, 11, "x"},
      {u".A.B", 1, 2, "A"},             {u"a..b", 2, 3, ""},             {u"a..b", 3, 4, ""},
      {u"ab.cd", 4, 5, ""},             {u"ab.c", 2, 4, ""},  // a token starting at the last character counts as none
      {u"", 1, 0, ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(TokenStart(c.N, L(c.Text), u".|" + String(1, Char(1))), c.Start) << Show(L(c.Text)) << c.N;
    EXPECT_EQ(Show(ExtractToken(c.N, L(c.Text), u"." + String(1, Char(1)))), c.Token) << Show(L(c.Text)) << c.N;
  }
  EXPECT_EQ(CountDelimiters(u"a\tb\tc.", u"\t."), 3);
}

TEST(Lines, DeleteAndMoveLanguageColumns) {
  struct {
    const char16_t* Line;
    Integer N;
    const char* Expected;
  } const deletes[] = {{u"P|a|b|", 1, "P|b||"}, {u"P|a|b|", 2, "P|a||"}, {u"P|a|b|", 3, "P|a|b|"},
                       {u"P|a|b|c|", 2, "P|a|c||"}, {u"P|a|b", 1, "P||"}};
  for (const auto& c : deletes) EXPECT_EQ(Show(DeleteLanguageColumn(L(c.Line), c.N, Char(1))), c.Expected);
  struct {
    const char16_t* Line;
    Integer From, To;
    const char* Expected;
  } const moves[] = {{u"P|a|b|c|", 3, 1, "P|c|a|b|"}, {u"P|a|b|c|", 1, 3, "P|b|c|a|"},
                     {u"P|a|b|c|", 2, 2, "P|a|b|c|"}, {u"P|a|b|c|", 1, 2, "P|b|a|c|"},
                     {u"P|a|", 1, 3, "P|a|"}};
  for (const auto& c : moves) EXPECT_EQ(Show(MoveLanguageColumn(L(c.Line), c.From, c.To, Char(1))), c.Expected);
  TOwned<TStringList> list(New<TStringList>());
  SetLines(list.get(), {u"A|1|2|3|", u"B|x|y|z|"});
  MoveLanguageColumns(list.get(), 1, 3, Char(1));
  EXPECT_EQ(Lines(list.get()), (std::vector<std::string>{"A|2|3|1|", "B|y|z|x|"}));
  DeleteLanguageColumns(list.get(), 2, Char(1));
  EXPECT_EQ(Lines(list.get()), (std::vector<std::string>{"A|2|1||", "B|y|x||"}));
}

TEST(Lines, SplitMergeAndFindByPath) {
  EXPECT_EQ(SplitLine(L(u"a||b|"), Char(1)), (std::vector<String>{u"a", u"", u"b"}));
  EXPECT_EQ(SplitLine(L(u"a|b"), Char(1)), (std::vector<String>{u"a", u"b"}));
  EXPECT_TRUE(SplitLine(u"", Char(1)).empty());
  EXPECT_EQ(JoinLine({u"a", u"b"}, u", "), u"a, b");
  struct {
    const char16_t* Old;
    const char16_t* New;
    const char* Expected;
  } const merges[] = {{u"P|a||c|", u"P|x|y||e|", "P|x|y|c|e|"}, {u"P|a|b|", u"P|||", "P|a|b|"},
                      {u"P|a|", u"Q|b|c|", "P|b|c|"}};
  for (const auto& c : merges) EXPECT_EQ(Show(MergeLine(L(c.Old), L(c.New), Char(1))), c.Expected);
  TOwned<TStringList> list(New<TStringList>());
  SetLines(list.get(), {u"One|a|", u"two|b|", u"Two|c|"});
  EXPECT_EQ(FindLineByPath(list.get(), L(u"TWO|z|"), Char(1)), 1);
  EXPECT_EQ(FindLineByPath(list.get(), L(u"Three|z|"), Char(1)), -1);
  EXPECT_EQ(FindLineByPath(list.get(), u"", Char(1)), -1);
}

TEST(Lines, ReplaceStringValue) {
  struct {
    const char16_t* Line;
    Integer Lang;
    const char* Expected;
  } const cases[] = {{u"P|a|b|", 2, "P|a|X|"}, {u"P|a|", 2, "P|a|X"},   {u"P|", 2, "P|"},
                     {u"P|a|b|", 1, "P|X|b|"}, {u"P|a|b|c|", 2, "P|a|X|c|"}, {u"P||", 1, "P|X|"}};
  auto form = NewForm();
  TqlLang* lang = New<TqlLang>(form.get());
  for (const auto& c : cases) {
    SetLines(lang->Captions(), {u"Other|o|o|", c.Line, c.Line});
    lang->ReplaceStringValue(lang->Captions(), u"X", u"p", c.Lang);
    EXPECT_EQ(Show(lang->Captions()->Strings(1)), c.Expected) << Show(L(c.Line)) << c.Lang;
    EXPECT_EQ(Show(lang->Captions()->Strings(2)), Show(L(c.Line)));  // only the first match
  }
  // No line of that path: nothing is added.
  lang->ReplaceStringValue(lang->Captions(), u"X", u"Missing", 1);
  EXPECT_EQ(lang->Captions()->Count(), 3);
  // In Strings at run time the identifier collection follows.
  lang->SetNumOfLanguages(2);
  SetLines(lang->Strings(), {u"Hello|Merhaba|Hello|"});
  lang->UpdateStrCollections();
  lang->ReplaceStringValue(lang->Strings(), u"Hi", u"HELLO", 2);
  EXPECT_EQ(Lines(lang->Strings()), (std::vector<std::string>{"Hello|Merhaba|Hi|"}));
  EXPECT_EQ(lang->StringsColl()->GetTranslationByID(u"hello", 2), u"Hi");
  TStrings* strings = lang->Strings();
  lang->ReplaceStringValue(&strings, u"Selam", u"Hello", 1);
  EXPECT_EQ(lang->StringsColl()->GetTranslationByID(u"hello", 1), u"Selam");
}

TEST(Lines, GetStringValueTakesTheLastDuplicateUnlessValuesAreUtf8) {
  auto form = NewForm();
  TqlLang* lang = New<TqlLang>(form.get());
  SetLines(lang->Captions(), {u"P|first|", u"x|y|", u"p|second|"});
  SetLines(lang->CharSets(), {u"P|ANSI_CHARSET|", u"P|GREEK_CHARSET|"});
  EXPECT_EQ(lang->GetStringValue(lang->Captions(), u"P", 1), u"second");
  EXPECT_EQ(lang->GetStringValue(lang->Captions(), u"Q", 1), u"");
  lang->SetStoreAsUTF8(true);
  EXPECT_EQ(lang->GetStringValue(lang->Captions(), u"P", 1), u"first");
  EXPECT_EQ(lang->GetStringValue(lang->CharSets(), u"P", 1), u"GREEK_CHARSET");
}

TEST(Lines, TextHelpers) {
  EXPECT_EQ(ExpandChars(u"abcd", u'*', 50), u"abc*d*");
  EXPECT_EQ(ExpandChars(u"ab", u'*', 100), u"a*b*");
  EXPECT_EQ(ExpandChars(u"a%d", u'*', 100), u"a%d");
  EXPECT_EQ(ExpandChars(u"abc", u'*', 0), u"abc");
  EXPECT_EQ(InvertCase(u"aBc1"), u"AbC1");
  EXPECT_EQ(InvertCase(u"ıİ"), u"Ii");  // Turkish case rules
  using namespace std::string_literals;
  struct {
    String Text;
    String Expected;
  } const escapes[] = {{u"\\t\\x41\\101\\q", u"\tAA\\q"},
                       {u"end\\", u"end\\"},
                       {u"\\n\\r\\\\\\\"\\'\\?", u"\n\r\\\"'?"},
                       {u"\\xg", u"\\xg"},
                       {u"\\x", u"\\x"},
                       {u"\\x4a1", u"J1"},
                       {u"\\0\\1234", u"\0S4"s},
                       {u"\\a\\b\\f\\v", u"\a\b\f\v"}};
  for (const auto& c : escapes) EXPECT_EQ(DecodeEscapes(c.Text), c.Expected) << UTF16ToUTF8(c.Text);
}

TEST(Lines, UpdateStringsInPlace) {
  struct {
    std::vector<std::u16string> Target;
    Boolean Sorted;
    std::vector<std::u16string> Source;
    std::vector<std::string> Expected;
  } const cases[] = {
      {{u"a", u"b", u"c", u"d"}, false, {u"x", u"y"}, {"x", "y"}},      // surplus lines go from the end
      {{u"a"}, false, {u"x", u"y", u"z"}, {"x", "y", "z"}},              // a shorter target grows
      {{u"a", u"b"}, false, {}, {}},
      {{u"b", u"c", u"d"}, true, {u"z", u"a", u"m"}, {"a", "m", "z"}},  // a sorted list stays sorted
  };
  for (const auto& c : cases) {
    TOwned<TStringList> target(New<TStringList>());
    TOwned<TStringList> source(New<TStringList>());
    for (const auto& s : c.Target) target->Add(String(s));
    for (const auto& s : c.Source) source->Add(String(s));
    target->SetSorted(c.Sorted);
    UpdateStringsInPlace(target.get(), source.get());
    EXPECT_EQ(Lines(target.get()), c.Expected);
    EXPECT_EQ(target->Sorted(), c.Sorted);
  }
  // The write hook sees each line and may change it.
  qlWriteStrPropHook = [](TObject*, const TPropInfo* PropInfo, String& Text) {
    if (!PropInfo) Text += u"!";
  };
  TOwned<TStringList> target(New<TStringList>());
  TOwned<TStringList> source(New<TStringList>());
  source->Add(u"a");
  UpdateStringsInPlace(target.get(), source.get());
  qlWriteStrPropHook = nullptr;
  EXPECT_EQ(Lines(target.get()), (std::vector<std::string>{"a!"}));
}

TEST(Lines, ApplyLocaleValue) {
  TFormatSettings s;
  s.DecimalSeparator = u'.';
  for (Integer i = 0; i < 12; ++i) s.ShortMonthNames[i] = u"m";
  for (Integer i = 0; i < 7; ++i) s.LongDayNames[i] = u"d";
  struct {
    const char16_t* Item;
    const char16_t* Value;
  } const lines[] = {
      {u"Currency String", u"TL"},
      {u"Decimal Separator", u",;"},    // the first character only
      {u"Thousand Separator", u""},     // an empty value changes nothing
      {u"decimal separator", u"x"},     // item names compare exactly
      {u"Short Month Names", u"Oca,Şub,Mar,Nis,May,Haz,Tem,Ağu,Eyl,Eki,Kas,Ara,On3"},
      {u"Long Day Names", u"Pazar,Pazartesi,\"Salı Günü\",Çarşamba,Perşembe"},
      {u"Long Time Format", u"hh:nn:ss"},
  };
  s.ThousandSeparator = u'\'';
  for (const auto& l : lines) ApplyLocaleValue(s, String(l.Item), String(l.Value));
  EXPECT_EQ(Show(s.CurrencyString), "TL");
  EXPECT_EQ(s.DecimalSeparator, u',');
  EXPECT_EQ(s.ThousandSeparator, u'\'');
  EXPECT_EQ(Show(s.ShortMonthNames[0]), "Oca");
  EXPECT_EQ(Show(s.ShortMonthNames[11]), "Ara");
  EXPECT_EQ(Show(s.LongDayNames[2]), "Salı Günü");
  EXPECT_EQ(Show(s.LongDayNames[4]), "Perşembe");
  EXPECT_EQ(Show(s.LongDayNames[5]), "d");  // five names change only the first five
  EXPECT_EQ(Show(s.LongTimeFormat), "hh:nn:ss");
}
