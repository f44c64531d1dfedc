// Program texts by identifier, their fallbacks and escapes, and the editing
// of languages and texts.
#include <gtest/gtest.h>

#include "localization/qlComp.h"
#include "platform/classes/StringLists.h"
#include "tests/localization/LocalizationFixtures.h"

using namespace loc_test;

namespace {

struct LangFixture {
  TOwned<TComPortForm> Form = NewForm();
  TqlLang* Lang = New<TqlLang>(Form.get());
  LangFixture(Integer Languages = 2) {
    Lang->SetNumOfLanguages(Languages);
    Lang->Loaded();
  }
  TOwned<TStringList> Values(std::initializer_list<const char16_t*> V) {
    TOwned<TStringList> list(New<TStringList>());
    for (const char16_t* v : V) list->Add(v);
    return list;
  }
};

}  // namespace

TEST(TextLookup, IdentifiersFallbacksAndEscapes) {
  LangFixture f;
  f.Lang->AddString(u"Hello", f.Values({u"Merhaba", u"Hello"}).get());
  f.Lang->AddString(u"OnlyFirst", f.Values({u"Yalnız"}).get());
  f.Lang->AddString(u"Escaped", f.Values({u"\\t\\x41\\101\\q", u"x\\"}).get());
  struct TCase {
    const char* Name;
    Integer Language;
    TTranslateType Type;
    bool Cpp;
    String ID, Text, OrDefault;
  };
  const TCase cases[] = {
      {"other letter case", 1, ttNoChange, false, u"HELLO", u"Merhaba", u"Merhaba"},
      {"second language", 2, ttNoChange, false, u"hello", u"Hello", u"Hello"},
      {"empty stays empty", 2, ttNoChange, false, u"OnlyFirst", u"", u"Yalnız"},
      {"empty takes language 1", 2, ttGetDefault, false, u"OnlyFirst", u"Yalnız", u"Yalnız"},
      {"unknown", 1, ttGetDefault, false, u"Nope", u"", u""},
      {"escapes kept", 1, ttNoChange, false, u"Escaped", u"\\t\\x41\\101\\q", u"\\t\\x41\\101\\q"},
      {"escapes decoded", 1, ttNoChange, true, u"Escaped", u"\tAA\\q", u"\tAA\\q"},
      {"a backslash at the end stays", 2, ttNoChange, true, u"Escaped", u"x\\", u"x\\"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    f.Lang->SetActiveLanguage(c.Language);
    f.Lang->SetTranslateType(c.Type);
    f.Lang->UsedInCPP = c.Cpp;
    EXPECT_EQ(f.Lang->GetText(c.ID), c.Text);
    EXPECT_EQ(f.Lang->GetTextOrDefault(c.ID), c.OrDefault);
    auto buffer = f.Lang->GetTextC(c.ID);
    EXPECT_EQ(buffer ? String(buffer.get()) : String(), c.Text);
    EXPECT_EQ(buffer == nullptr, c.Text.empty());
  }
  f.Lang->SetActiveLanguage(2);
  f.Lang->SetTranslateType(ttNoChange);
  EXPECT_EQ(f.Lang->GetTextOrDefined(u"OnlyFirst", 1), u"Yalnız");
  EXPECT_EQ(f.Lang->GetTextOrDefined(u"OnlyFirst", 3), u"");
  EXPECT_EQ(f.Lang->ActiveLanguage(), 2);
  // By line number, and in the other lists by their text.
  EXPECT_EQ(f.Lang->GetTextFromByIndex(f.Lang->Strings(), 0, false), u"Hello");
  EXPECT_EQ(f.Lang->GetTextFromByIndex(f.Lang->Strings(), 3, false), u"");
  EXPECT_EQ(f.Lang->GetTextFromByIndex(f.Lang->Strings(), -1, false), u"");
  EXPECT_EQ(f.Lang->GetTextFrom(f.Lang->DlgsCaptions(), u"no to all", true), u"N&o to All");
}

TEST(TextLookup, UnknownIdentifiersRaiseOnlyWhenAsked) {
  LangFixture f;
  f.Lang->AddString(u"Empty", f.Values({}).get());
  EXPECT_EQ(f.Lang->GetText(u"Missing"), u"");
  f.Lang->SetDoRaiseExceptions(true);
  EXPECT_EQ(f.Lang->GetText(u"Empty"), u"");  // known, empty: no error
  for (TStrings* list : {static_cast<TStrings*>(f.Lang->Strings()), static_cast<TStrings*>(f.Lang->Hints())}) {
    try {
      f.Lang->GetTextFrom(list, u"Missing", false);
      ADD_FAILURE() << "no error";
    } catch (const ELanguageError& E) {
      EXPECT_EQ(E.Message(), u"String identifier \"Missing\" not found!");
    }
  }
  // With the options that take texts from other components but no
  // dispatcher to find them, the lookups are empty.
  f.Lang->SetDoRaiseExceptions(false);
  f.Lang->SetOptions(TqlLangOptions{loUseExtUDStrings});
  EXPECT_EQ(f.Lang->GetText(u"Empty"), u"");
}

TEST(LanguageEditing, TextsAddedReplacedAndDeleted) {
  LangFixture f;
  EXPECT_TRUE(f.Lang->AddString(u"Hello", f.Values({u"Hallo"}).get()));
  EXPECT_TRUE(f.Lang->AddString(u"Bye", f.Values({u"Tschüss", u"Bye", u"extra"}).get()));
  EXPECT_TRUE(f.Lang->AddString(u"Hello", f.Values({u"Merhaba"}).get()));
  EXPECT_EQ(Lines(f.Lang->Strings()), (std::vector<std::string>{"Bye|Tschüss|Bye|", "Hello|Merhaba||"}));
  EXPECT_EQ(f.Lang->GetText(u"Hello"), u"Merhaba");
  EXPECT_EQ(f.Lang->GetStringID(0), u"Bye");
  EXPECT_EQ(f.Lang->GetIDIndex(u"hello"), 1);
  EXPECT_EQ(f.Lang->GetIDIndex(u"nope"), -1);
  try {
    f.Lang->GetStringID(-1);
    ADD_FAILURE();
  } catch (const EListError& E) {
    EXPECT_EQ(E.Message(), u"List index is out of bonds!");
  }
  EXPECT_TRUE(f.Lang->DeleteString(u"Hello"));
  EXPECT_FALSE(f.Lang->DeleteString(u"Hello"));
  f.Lang->SetDoRaiseExceptions(true);
  EXPECT_THROW(f.Lang->GetText(u"Hello"), ELanguageError);
}

TEST(LanguageEditing, ColumnsMoveAndGoWithTheirNames) {
  struct TCase {
    const char* Name;
    std::function<void(TqlCustomLang*)> Edit;
    std::string Line, Extended;
    std::vector<String> Names;
  };
  const TCase cases[] = {
      {"move 1 to 3", [](TqlCustomLang* L) { L->MoveLanguage(1, 3); }, "P|b|c|a|", "b|c|a|", {u"B", u"C", u"A"}},
      {"move 3 to 1", [](TqlCustomLang* L) { L->MoveLanguage(3, 1); }, "P|c|a|b|", "c|a|b|", {u"C", u"A", u"B"}},
      {"delete 2", [](TqlCustomLang* L) { L->DeleteLanguage(2); }, "P|a|c||", "a|c|", {u"A", u"C"}},
      {"insert at 1", [](TqlCustomLang* L) { L->InsertLanguage(1, u"N"); }, "P||a|b|c|", "|a|b|c|",
       {u"N", u"A", u"B", u"C"}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    LangFixture f(3);
    SetLines(f.Lang->LangNames(), {u"A", u"B", u"C"});
    SetLines(f.Lang->Captions(), {u"P|a|b|c|"});
    TqlExtendedItem* item = f.Lang->ExtendedTranslations()->Add();
    item->SetValues(L(u"a|b|c|"));
    c.Edit(f.Lang);
    EXPECT_EQ(Lines(f.Lang->Captions()), std::vector<std::string>{c.Line});
    EXPECT_EQ(Show(item->Values()), c.Extended);
    std::vector<String> names;
    for (Integer i = 0; i < f.Lang->LangNames()->Count(); ++i) names.push_back(f.Lang->LangNames()->Strings(i));
    EXPECT_EQ(names, c.Names);
    EXPECT_EQ(f.Lang->NumOfLanguages(), Integer(c.Names.size()));
  }
}

// The active language stays the language shown: moving a column takes the
// active number along, and deleting the active last language makes a valid
// language active, so that later lookups read a real column.
TEST(LanguageEditing, TheActiveLanguageStaysValidAndTheSame) {
  struct TCase {
    const char* Name;
    Integer Active;
    std::function<void(TqlCustomLang*)> Edit;
    Integer NewActive;
    String Language, Text;
  };
  const TCase cases[] = {
      {"delete the active last", 3, [](TqlCustomLang* L) { L->DeleteLanguage(3); }, 2, u"B", u"b"},
      {"delete one before", 3, [](TqlCustomLang* L) { L->DeleteLanguage(1); }, 2, u"C", u"c"},
      {"delete one after", 1, [](TqlCustomLang* L) { L->DeleteLanguage(2); }, 1, u"A", u"a"},
      {"move the active", 1, [](TqlCustomLang* L) { L->MoveLanguage(1, 3); }, 3, u"A", u"a"},
      {"move another over it", 2, [](TqlCustomLang* L) { L->MoveLanguage(3, 1); }, 3, u"B", u"b"},
      {"insert before it", 2, [](TqlCustomLang* L) { L->InsertLanguage(1, u"N"); }, 3, u"B", u"b"},
      // Numbers out of range move nothing, so nothing follows.
      {"move the active past the last", 1, [](TqlCustomLang* L) { L->MoveLanguage(1, 5); }, 1, u"A", u"a"},
      {"move from column 0", 1, [](TqlCustomLang* L) { L->MoveLanguage(0, 2); }, 1, u"A", u"a"},
      {"insert at 0", 2, [](TqlCustomLang* L) { L->InsertLanguage(0, u"N"); }, 2, u"B", u"b"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    LangFixture f(3);
    SetLines(f.Lang->LangNames(), {u"A", u"B", u"C"});
    f.Lang->AddString(u"T", f.Values({u"a", u"b", u"c"}).get());
    f.Lang->SetActiveLanguage(c.Active);
    c.Edit(f.Lang);
    EXPECT_EQ(f.Lang->ActiveLanguage(), c.NewActive);
    EXPECT_EQ(f.Lang->Language(), c.Language);
    EXPECT_EQ(f.Lang->GetText(u"T"), c.Text);
  }
}

// A component keeps at least one language: deleting the only one is refused
// and leaves lines, names and numbers as they were.
TEST(LanguageEditing, TheOnlyLanguageIsNeverDeleted) {
  LangFixture f(1);
  SetLines(f.Lang->LangNames(), {u"A"});
  SetLines(f.Lang->Captions(), {u"P|a|"});
  f.Lang->AddString(u"T", f.Values({u"a"}).get());
  EXPECT_THROW(f.Lang->DeleteLanguage(1), ELanguageError);
  EXPECT_EQ(f.Lang->NumOfLanguages(), 1);
  EXPECT_EQ(f.Lang->ActiveLanguage(), 1);
  EXPECT_EQ(f.Lang->DefaultLanguage(), 1);
  EXPECT_EQ(f.Lang->LangNames()->Count(), 1);
  EXPECT_EQ(Lines(f.Lang->Captions()), (std::vector<std::string>{"P|a|"}));
  EXPECT_EQ(f.Lang->GetText(u"T"), u"a");
}

TEST(LanguageEditing, ClearingAndTheDelimiter) {
  LangFixture f;
  SetLines(f.Lang->Captions(), {u"A|x|y|"});
  f.Lang->AddString(u"T", nullptr);
  f.Lang->SetLangDelim(9);
  EXPECT_EQ(f.Lang->Captions()->Strings(0), u"A\tx\ty\t");
  f.Lang->ClearTranslations();
  EXPECT_EQ(f.Lang->Captions()->Count(), 0);
  EXPECT_EQ(f.Lang->DlgsCaptions()->Count(), 0);
  EXPECT_EQ(f.Lang->GetText(u"T"), u"");
}
