// The mask language and its automaton: compiling, every error with its
// position, matching, history, completion and the limits that keep a mask
// from outside bounded.
#include <gtest/gtest.h>

#include <vector>

#include "lib/editors/vlDateUtils.h"
#include "lib/editors/vlRegExpr.h"
#include "platform/classes/Streams.h"
#include "platform/rtl/CodePages.h"
#include "platform/rtl/Conversions.h"
#include "platform/rtl/Locale.h"

namespace {

std::string U8(const String& S) { return std::string(UTF16ToUTF8(S)); }

class RegExprTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetSystemLocale(TSystemLocale::Turkish);
    vlFormatController()->RegionalSettingsChanged();
    Expr = New<TvlRegExpr>();
  }
  void TearDown() override {
    Free(Expr);
    SetSystemLocale(TSystemLocale::Turkish);
    vlFormatController()->RegionalSettingsChanged();
  }

  // The errors of compiling AText, one "line,char:message" per error; empty
  // when it compiles.
  std::vector<String> Errors(const String& AText) {
    std::vector<String> result;
    try {
      Expr->Compile(AText);
      EXPECT_TRUE(Expr->IsCompiled());
    } catch (const EvlRegExprError& e) {
      EXPECT_TRUE(e.Message().empty());
      EXPECT_FALSE(Expr->IsCompiled());
      for (Integer i = 0; i < e.Errors()->Count(); ++i) {
        const TvlRegExprError* error = e.Errors()->Items(i);
        result.push_back(IntToStr(error->Line()) + u"," + IntToStr(error->Char()) + u":" + error->Message());
      }
    }
    return result;
  }

  void Compile(const String& AText) {
    ASSERT_EQ(std::vector<String>(), Errors(AText)) << U8(AText);
  }

  // Feeds AText from the start; the accepted characters.
  String Feed(const String& AText) {
    Expr->Reset();
    return Expr->NextEx(AText);
  }

  TvlRegExpr* Expr{};
};

String Join(const std::vector<String>& AList) {
  String result;
  for (const String& s : AList) result += (result.empty() ? u"" : u" | ") + s;
  return result;
}

TEST_F(RegExprTest, EveryErrorWithItsPosition) {
  struct Case {
    const char16_t* Text;
    const char16_t* Errors;  // joined by " | "
  } cases[] = {
      {u"", u"0,0:The source stream is empty"},
      {u" \t\r\n", u"0,0:The source stream is empty"},
      {u"'abc", u"1,4:Missing ' ' '"},
      {u"(a", u"0,0:Missing ')'"},
      {u"a)", u"0,0:Unnecessary ')'"},
      {u"a\\ b", u"1,3:The space character is not allowed after '\\'"},
      {u"\\x4", u"1,4:Hexadecimal number expected"},
      {u"\\x", u"1,3:Hexadecimal number expected"},
      {u"\\x4g", u"1,4:Hexadecimal number expected but 'g' found"},
      {u"a{'}", u"1,3:Illegal ' ' '"},
      {u"a{x}", u"1,3:Illegal 'x'"},
      {u"a{2", u"1,3:Missing '}'"},
      {u"[ab", u"1,3:Missing ']'"},
      {u"a)(b", u"1,2:Illegal ')' | 0,0:Missing ')'"},
      {u"[a-c-e]", u"1,5:Illegal '-'"},
      {u"*a", u"1,1:Illegal quantifier '*'"},
      {u"?", u"1,1:Illegal quantifier '?'"},
      {u"a|+", u"1,3:Illegal quantifier '+'"},
      // Braces with nothing before them; the rest is read on.
      {u"{2}", u"1,1:Incorrect parameter quantifier | 1,2:Illegal integer value | 1,3:Illegal '}'"},
      {u"a{2,1}", u"1,5:Incorrect parameter quantifier"},
      {u"a{,1}", u"1,3:Incorrect parameter quantifier"},
      {u"a{1,2,3}b", u"1,6:Incorrect parameter quantifier"},
      {u"a?{2}", u"1,3:The parameter quantifier cannot be applied here"},
      {u"a*{2}", u"1,3:The parameter quantifier cannot be applied here"},
      {u"(a?)+", u"1,5:The '+' quantifier cannot be applied here"},
      {u"(a?)*", u"1,5:The '*' quantifier cannot be applied here"},
      {u"a**", u"1,3:The '*' quantifier cannot be applied here"},
      {u"(a?b*|c)*", u"1,9:The '*' quantifier cannot be applied here"},
      {u"|a", u"1,1:The alternative should not be empty"},
      {u"a||b", u"1,3:The alternative should not be empty"},
      {u"a|", u"0,0:The alternative should not be empty"},
      {u"()", u"1,2:The block should not be empty"},
      {u"(a|)", u"1,4:The block should not be empty"},
      {u"[]", u"1,2:Can't create empty enumeration"},
      {u"[^]", u"1,3:Can't create empty enumeration"},
      {u"[b-a]", u"1,4:The starting character of the subrange must be less than the finishing one"},
      {u"[a-a]", u"1,4:The starting character of the subrange must be less than the finishing one"},
      {u"\\2(a)(b)", u"1,1:Too big reference number"},
      {u"(a\\1)", u"1,3:Too big reference number"},
      // Several errors, in the order found, over lines.
      {u"(a?)*\r\n[]|?", u"1,5:The '*' quantifier cannot be applied here | 2,2:Can't create empty enumeration | "
                        u"2,4:Illegal quantifier '?'"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(U8(String(c.Text)));
    EXPECT_EQ(String(c.Errors), Join(Errors(c.Text)));
  }
}

TEST_F(RegExprTest, SourceStreamAndFullMessages) {
  try {
    Expr->Compile(static_cast<TStream*>(nullptr));
    FAIL();
  } catch (const EvlRegExprError& e) {
    ASSERT_EQ(1, e.Errors()->Count());
    EXPECT_EQ(u"The source stream is not assigned", e.Errors()->Items(0)->FullMessage());
  }
  try {
    Expr->Compile(u"a\r\n  []");
    FAIL();
  } catch (const EvlRegExprError& e) {
    ASSERT_EQ(1, e.Errors()->Count());
    EXPECT_EQ(u"Line2, Char4: Can't create empty enumeration", e.Errors()->Items(0)->FullMessage());
    EXPECT_EQ(u"EvlRegExprError", e.ClassName());
  }
  // The stream is read from its start, as UTF-16 code units.
  TStringStream* stream = New<TStringStream>(u"ğ+", TTextEncoding::UTF16LE);
  stream->SetPosition(2);
  Expr->Compile(stream);
  Free(stream);
  EXPECT_EQ(u"ğğ", Feed(u"ğğ"));
  ASSERT_NE(nullptr, Expr->Stream());
  EXPECT_EQ(4, Expr->Stream()->Size());
}

TEST_F(RegExprTest, NotCompiled) {
  Char c = u'a';
  for (auto call : std::vector<void (*)(TvlRegExpr*, Char&)>{
           [](TvlRegExpr* E, Char& C) { E->Next(C); }, [](TvlRegExpr* E, Char&) { E->Prev(); },
           [](TvlRegExpr* E, Char&) { E->Reset(); }, [](TvlRegExpr* E, Char&) { E->IsFinal(); },
           [](TvlRegExpr* E, Char&) { E->IsStart(); }, [](TvlRegExpr* E, Char&) { E->NextEx(u"a"); }}) {
    try {
      call(Expr, c);
      ADD_FAILURE();
    } catch (const EvlEditError& e) {
      EXPECT_EQ(u"Regular expression is not compiled", e.Message());
    }
  }
  // A failed compilation leaves the expression not compiled.
  Compile(u"a");
  EXPECT_FALSE(Errors(u"(").empty());
  EXPECT_EQ(nullptr, Expr->Stream());
  EXPECT_THROW(Expr->Reset(), EvlEditError);
}

TEST_F(RegExprTest, MatchingTable) {
  struct Case {
    const char16_t* Expr;
    const char16_t* Text;
    const char16_t* Accepted;
    Boolean Final;
  } cases[] = {
      {u"abc", u"abc", u"abc", true},
      {u"abc", u"ab", u"ab", false},
      {u"abc", u"axbc", u"abc", true},
      {u" a b  c ", u"abc", u"abc", true},  // blanks between tokens are skipped
      {u"'a b'", u"a b", u"a b", true},
      {u"'it''s'", u"it's", u"it's", true},
      {u"a*b", u"aaab", u"aaab", true},
      {u"a+", u"", u"", false},
      {u"a?b", u"b", u"b", true},
      {u"(ab|a)*b", u"abab", u"abab", true},
      {u"(a|b)+c", u"abbac", u"abbac", true},
      {u"a{3}", u"aaaa", u"aaa", true},
      {u"a{3}", u"aa", u"aa", false},
      {u"a{2,4}", u"aa", u"aa", true},
      {u"a{2,4}", u"aaaaa", u"aaaa", true},
      {u"a{2,4}", u"a", u"a", false},
      {u"a{2,}", u"aaaaaaa", u"aaaaaaa", true},
      {u"a{0}b", u"ab", u"b", true},
      {u"a+?b", u"b", u"b", true},  // "+" then "?": optionally, one or more
      {u"a+?b", u"aab", u"aab", true},
      {u"(ab){2,3}c", u"ababc", u"ababc", true},
      {u"[a-c]+", u"abcd", u"abc", true},
      {u"[^0-9]", u"5x", u"x", true},
      {u"[-a]+", u"-a-", u"-a-", true},
      {u"[^^]", u"^a", u"a", true},  // only the first "^" inverts
      {u"[^^a]+", u"b^a", u"b", true},
      {u"[a-]+", u"a-", u"a-", true},
      {u"[\\d_]+", u"1_2", u"1_2", true},
      {u"\\d\\D\\w\\W\\s\\S", u"1a_- x", u"1a_- x", true},
      {u".", u"ş", u"ş", true},
      {u"\\x41\\t", u"A\t", u"A\t", true},
      {u"\\0\\.", u"0.", u"0.", true},
      {u"(a)\\1", u"aa", u"aa", true},
      {u"(a|b)\\1+", u"abbb", u"abbb", true},
      // A reference copies the group as written, before its counted repeat.
      {u"(ab){2}\\1", u"ababab", u"ababab", true},
      {u"(ab){2}\\1", u"abab", u"abab", false},
      // The locale's separators (Turkish: "." and ":"); an escaped "/" is a slash.
      {u"\\d/\\d", u"1.2", u"1.2", true},
      {u"\\d/\\d", u"1/2", u"1", false},
      {u"\\d\\/\\d", u"1/2", u"1/2", true},
      {u"\\d:\\d", u"1:2", u"1:2", true},
      {u"\\d\\p\\d", u"1,5", u"1,5", true},
      {u"[/:]+", u".:", u".:", true},
      // Only an item's own quantifier lets it be left out.
      {u"a(b?)", u"a", u"a", false},
      {u"a(b?)?", u"a", u"a", true},
      {u"(ab)?", u"", u"", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(U8(String(c.Expr) + u" / " + c.Text));
    Compile(c.Expr);
    EXPECT_EQ(c.Accepted, Feed(c.Text));
    EXPECT_EQ(c.Final, Expr->IsFinal());
  }
}

TEST_F(RegExprTest, CaseInsensitiveRules) {
  Expr->SetCaseInsensitive(true);
  Compile(u"AB[A-Z]");
  Expr->Reset();
  Char c = u'a';
  ASSERT_TRUE(Expr->Next(c));
  EXPECT_EQ(u'A', c);  // the token comes back as the mask has it
  c = u'B';
  ASSERT_TRUE(Expr->Next(c));
  EXPECT_EQ(u'B', c);
  c = u'q';
  EXPECT_FALSE(Expr->Next(c));  // a range never folds case
  c = u'Q';
  EXPECT_TRUE(Expr->Next(c));
  EXPECT_TRUE(Expr->IsFinal());
  // Turkish upper-casing: "i" is the capital "İ", not "I".
  Compile(u"İ");
  EXPECT_EQ(u"i", Feed(u"i"));
  Compile(u"I");
  EXPECT_EQ(u"ı", Feed(u"ıi"));
  // A case-sensitive expression takes the case as it stands.
  Expr->SetCaseInsensitive(false);
  Compile(u"AB");
  EXPECT_EQ(u"AB", Feed(u"aAB"));
}

TEST_F(RegExprTest, HistoryPrevAndReset) {
  Compile(u"ab*c");
  Expr->Reset();
  EXPECT_TRUE(Expr->IsStart());
  EXPECT_FALSE(Expr->Prev());  // nothing to take back
  EXPECT_EQ(u"abb", Expr->NextEx(u"abb"));
  EXPECT_FALSE(Expr->IsStart());
  EXPECT_TRUE(Expr->Prev());
  EXPECT_TRUE(Expr->Prev());
  Char c = u'c';
  EXPECT_TRUE(Expr->Next(c));  // back after "a"
  EXPECT_TRUE(Expr->IsFinal());
  EXPECT_TRUE(Expr->Prev());
  EXPECT_TRUE(Expr->Prev());
  EXPECT_TRUE(Expr->IsStart());
  EXPECT_EQ(u"abbc", Expr->NextEx(u"abbc"));
  EXPECT_TRUE(Expr->IsFinal());
  Expr->Reset();
  EXPECT_TRUE(Expr->IsStart());
  EXPECT_FALSE(Expr->IsFinal());
}

TEST_F(RegExprTest, PrintDumpsTheParseTree) {
  Compile(u"a?(b|c)*");
  String text;
  Expr->Print(text);
  EXPECT_EQ(u"<Start_Alt>\r\nitem --> ?\r\n<Start_Block>\r\n<Start_Alt>\r\nitem --> \r\n<Finish_Alt>\r\n"
            u"<Start_Alt>\r\nitem --> \r\n<Finish_Alt>\r\n<Finish_Block> --> *\r\n<Finish_Alt>\r\n",
            text);
}

// Records what the automaton completes and takes back.
class Completion {
 public:
  void Update(Char ASymbol) { Log += ASymbol; }
  void Delete() { Log += u'~'; }
  String Log;
};

TEST_F(RegExprTest, CompletionOnTheDateExpression) {
  Completion log;
  Expr->SetOnSymbolUpdate(TvlSymbolUpdateEvent(&log, &Completion::Update));
  Expr->SetOnSymbolDelete(TvlSymbolDeleteEvent(&log, &Completion::Delete));
  Expr->SetUpdateOn(true);
  Expr->SetCaseInsensitive(true);
  Compile(vlFormatController()->RegExprDateEditMask());
  Char c = u'1';
  ASSERT_TRUE(Expr->Next(c));
  EXPECT_EQ(u"", log.Log);  // a second digit or the separator may follow
  c = u'2';
  ASSERT_TRUE(Expr->Next(c));
  EXPECT_EQ(u".", log.Log);  // the separator comes by itself
  EXPECT_TRUE(Expr->Prev());
  EXPECT_EQ(u".~", log.Log);  // Prev takes back the separator, then the digit
  c = u'3';
  ASSERT_TRUE(Expr->Next(c));
  EXPECT_EQ(u".~.", log.Log);
  EXPECT_EQ(u"02", Expr->NextEx(u"02"));
  log.Log.clear();
  c = u'.';
  ASSERT_TRUE(Expr->Next(c));
  EXPECT_EQ(u"", log.Log);
  EXPECT_EQ(u"2011", Expr->NextEx(u"2011"));
  EXPECT_TRUE(Expr->IsFinal());
}

TEST_F(RegExprTest, CompletionOfAFixedStart) {
  Completion log;
  Expr->SetOnSymbolUpdate(TvlSymbolUpdateEvent(&log, &Completion::Update));
  Expr->SetOnSymbolDelete(TvlSymbolDeleteEvent(&log, &Completion::Delete));
  Compile(u"'ID-'\\d+");
  Expr->SetUpdateOn(true);  // on a compiled expression: completes at once
  EXPECT_EQ(u"ID-", log.Log);
  Char c = u'5';
  EXPECT_TRUE(Expr->Next(c));
  EXPECT_TRUE(Expr->IsFinal());
  EXPECT_TRUE(Expr->Prev());
  EXPECT_FALSE(Expr->Prev());  // the completed start goes back, then nothing is left
  EXPECT_EQ(u"ID-~~~", log.Log);
  EXPECT_TRUE(Expr->IsStart());
  // Recompiling with completion on offers the start again.
  log.Log.clear();
  Compile(u"'x'y?");
  EXPECT_EQ(u"x", log.Log);
}

// The state sets hold each state once: an ambiguous mask no longer doubles
// them at every character.
TEST_F(RegExprTest, AmbiguousMasksKeepTheirSetsSmall) {
  struct Case {
    const char16_t* Expr;
    Char Symbol;
  } cases[] = {{u"(a|a)*", u'a'}, {u"((a|a)|(a|a))*", u'a'}, {u"(a|a|a)+b", u'a'}, {u"(ab|a)*b", u'a'}};
  for (const Case& c : cases) {
    SCOPED_TRACE(U8(String(c.Expr)));
    Compile(c.Expr);
    Expr->Reset();
    for (Integer i = 0; i < 200; ++i) {
      Char s = c.Symbol;
      ASSERT_TRUE(Expr->Next(s));
    }
    // Every state at most once: these masks have four character states.
    EXPECT_LE(Expr->Automat()->CurrentStates()->Count(), 4);
    EXPECT_EQ(200, Expr->Automat()->HistoryCount());
  }
}

// Optional groups one after another give exponentially many ways through
// their block states; each is passed once per step.
TEST_F(RegExprTest, ChainsOfOptionalGroupsStayLinear) {
  String text;
  for (Integer i = 0; i < 60; ++i) text += u"(a?)?";
  Compile(text + u"b");
  EXPECT_EQ(u"aab", Feed(u"aab"));
  EXPECT_TRUE(Expr->IsFinal());
}

TEST_F(RegExprTest, LimitsOfAMaskFromOutside) {
  struct Case {
    String Text;
    const char16_t* Errors;
  } cases[] = {
      // An open repeat of what can match nothing would loop on nothing.
      {u"(a?){2,}", u"1,5:The parameter quantifier cannot be applied here"},
      {u"(a?b?){0,}", u"1,7:The parameter quantifier cannot be applied here"},
      {u"(a{0}){1,}", u"1,7:The parameter quantifier cannot be applied here"},
      // Counted repeats past the size cap.
      {u"a{5000}", u"1,2:Incorrect parameter quantifier"},
      {u"a{99999999999999999999}", u"1,2:Incorrect parameter quantifier"},
      {u"((a{60}){60}){60}", u"1,14:Incorrect parameter quantifier"},
      {u"a{1,200}", u"1,2:Incorrect parameter quantifier"},
      {String(200, u'(') + u"a" + String(200, u')'), u"1,129:Illegal '('"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(U8(c.Text.substr(0, 40)));
    EXPECT_EQ(String(c.Errors), Join(Errors(c.Text)));
  }
  // Bounded repeats of what can be empty are fine.
  Compile(u"(a?b?){3}c");
  EXPECT_EQ(u"abbac", Feed(u"abbac"));
  EXPECT_TRUE(Expr->IsFinal());
  Compile(u"(ab){1,100}");
  EXPECT_EQ(u"ababab", Feed(u"ababab"));
  EXPECT_TRUE(Expr->IsFinal());
}


}  // namespace
