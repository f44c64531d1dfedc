#include "lib/foundation/vlTextLayout.h"

#include <gtest/gtest.h>

#include <iterator>
#include <random>

#include "platform/vcl/Graphics.h"
#include "tests/lib/foundation/TextLayoutFixture.h"

namespace {

using namespace win;
using TextRows = TextLayoutFixture;
using RowList = std::vector<String>;

// Widths in the test font at -11: "a" 7, " " 4, "aa aa" 32, "..." 12.
TEST_F(TextRows, BreakingTable) {
  ASSERT_EQ(Width(u"a"), 7);
  ASSERT_EQ(Width(u" "), 4);
  constexpr Cardinal WB = VLTO_WORDBREAK;
  struct Case {
    const char16_t* Text;
    int Width;
    Cardinal Flags;
    RowList Expected;
  };
  const Case cases[] = {
      // words: the blank at the break stays on a left-aligned row, the next row skips one blank
      {u"aa aa aa", 35, WB, {u"aa aa", u"aa"}},
      {u"aa aa aa", 31, WB, {u"aa ", u"aa ", u"aa"}},
      {u"aa aa aa", 31, WB | VLTO_CENTER_HORIZONTALLY, {u"aa", u"aa", u"aa"}},
      {u"aa aa aa", 31, WB | VLTO_RIGHT, {u"aa", u"aa", u"aa"}},
      {u"aa aa aa", 35, WB | VLTO_RIGHT, {u"aa aa", u" aa"}},  // right: only a blank ending a row goes
      {u"aa aa aa", 31, 0, {u"aa aa aa"}},                      // no word break: one row
      // a word wider than the row: whole without character breaking, split with it
      {u"aaaaaaaaaa", 30, WB, {u"aaaaaaaaaa"}},
      {u"aaaaaaaaaa", 30, WB | VLTO_CHARBREAK, {u"aaaa", u"aaaa", u"aa"}},
      {u"aaaaaaaaaa", 30, WB | VLTO_EDITCONTROL | VLTO_NOCLIP, {u"aaaa", u"aaaa", u"aa"}},
      {u"aaaaaaaaaa", 3, WB | VLTO_CHARBREAK, RowList(10, u"a")},  // at least one character a row
      {u"aa aaaaaaaaaa", 30, WB | VLTO_CHARBREAK, {u"aa ", u"aaaa", u"aaaa", u"aa"}},
      // Far-East: a full-width character is a unit, and "。" joins it
      {u"aa一。bb", 21, WB, {u"aa", u"一。", u"bb"}},
      {u"一二三", 14, WB, {u"一二", u"三"}},
      // line ends: CR LF, LF CR, lone CR and LF; an empty line between two LFs
      {u"aa\r\nbb\n\rcc\rdd\nee", 100, 0, {u"aa", u"bb", u"cc", u"dd", u"ee"}},
      {u"aa\n\nbb", 100, WB, {u"aa", u"", u"bb"}},
      {u"aa\r\n", 100, WB, {u"aa"}},
      {u"aaaaaaaaaa\r\nbb", 30, WB, {u"aaaaaaaaaa", u"bb"}},  // an overflowing word before a line end
      // the spreadsheet-style rule skips every blank after a wrap
      {u"aa   bb", 20, WB, {u"aa ", u" bb"}},
      {u"aa   bb", 20, WB | VLTO_EXCELSTYLE, {u"aa ", u"bb"}},
      {u"aa   bb", 20, WB | VLTO_CENTER_HORIZONTALLY, {u"aa", u" bb"}},
      // measuring only: each line is one row
      {u"aa aa aa\naa", 20, WB | VLTO_CALCRECT, {u"aa aa aa", u"aa"}},
      {u"aaaaaaaaaa", 30, WB | VLTO_CALCRECT | VLTO_CHARBREAK, {u"aaaa", u"aaaa", u"aa"}},
      // justified rows lose their trailing blanks
      {u"aa aa aa", 31, VLTO_JUSTIFY_HORIZONTALLY, {u"aa", u"aa", u"aa"}},
      {u"aa aa  ", 100, VLTO_DISTRIBUTE_HORIZONTALLY, {u"aa aa"}},
      // tabs break as blanks; unexpanded a tab takes no room, expanded it
      // reaches the next stop of 8 average characters (48): "aa\t" 48, "aa\taa" 62
      {u"aa\taa\taa", 31, WB, {u"aa\taa\t", u"aa"}},
      {u"aa\taa", 62, WB | VLTO_EXPANDTABS, {u"aa\taa"}},
      {u"aa\taa", 61, WB | VLTO_EXPANDTABS, {u"aa\t", u"aa"}},
      {u"aa\taa", 47, WB | VLTO_EXPANDTABS, {u"aa", u"aa"}},
      {u"aa\taa", 61, WB | VLTO_EXPANDTABS | VLTO_RIGHT, {u"aa", u"aa"}},
      {u"aa\t\tbb", 47, WB | VLTO_EXPANDTABS, {u"aa", u"\t", u"bb"}},
      {u"aa\t\tbb", 47, WB | VLTO_EXPANDTABS | VLTO_EXCELSTYLE, {u"aa", u"bb"}},
      {u"aa \tbb", 100, WB | VLTO_EXPANDTABS, {u"aa \tbb"}},
      {u"aa\tbb", 20, VLTO_EXPANDTABS, {u"aa\tbb"}},  // no word break: one row
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Rows(c.Text, c.Width, c.Flags), c.Expected) << "width " << c.Width << " flags " << std::hex << c.Flags;
  }
}

TEST_F(TextRows, TurkishTextBreaksAtItsWords) {
  const String text = u"Kartı yüklemek için İstanbul'a gidin";
  const int w = std::max({Width(u"Kartı yüklemek"), Width(u"için İstanbul'a"), Width(u"gidin")}) + 1;
  ASSERT_GT(Width(u"Kartı yüklemek için"), w);
  ASSERT_GT(Width(u"için İstanbul'a gidin"), w);
  EXPECT_EQ(Rows(text, w, VLTO_WORDBREAK | VLTO_CENTER_HORIZONTALLY),
            (RowList{u"Kartı yüklemek", u"için İstanbul'a", u"gidin"}));
}

TEST_F(TextRows, ThirtyThreeRowsUseTheDynamicPart) {
  String text;
  for (int i = 0; i < 33; ++i) text += u"a" + String(1, Char(u'0' + i % 10)) + u"\n";
  TvlTextParams p = vlGetTextParamsForDC(DC, 0);
  TvlTextRows rows;
  Integer count = 0;
  EXPECT_TRUE(vlBuildTextRows(DC, text.data(), Integer(text.size()), 0, count, rows, p, TRect{0, 0, 100, 1000}));
  ASSERT_EQ(count, 33);
  EXPECT_EQ(vlGetTextRowCount(rows), 33);
  EXPECT_EQ(rows.DynamicRows.size(), 5u);  // four spare rows
  EXPECT_EQ(vlGetTextRow(rows, 32), &rows.DynamicRows[0]);
  EXPECT_EQ(String(vlGetTextRow(rows, 32)->Text, 2), u"a2");
  EXPECT_EQ(vlGetTextRow(rows, 32)->StartOffset, 32 * 3);
  EXPECT_EQ(String(vlGetTextRow(rows, 31)->Text, 2), u"a1");
  vlResetTextRows(rows);
  EXPECT_EQ(vlGetTextRowCount(rows), 0);
  EXPECT_TRUE(rows.DynamicRows.empty());
}

TEST_F(TextRows, TheLastRowFollowsTheRectangleHeight) {
  bool fits = true;
  // rows of 13 pixels in 30: the third row's bottom passes, so it is the last
  EXPECT_EQ(Rows(u"a\nb\nc\nd", 100, 0, 30, &fits).size(), 3u);
  EXPECT_FALSE(fits);
  // an edit control keeps only rows that fit whole
  EXPECT_EQ(Rows(u"a\nb\nc\nd", 100, VLTO_EDITCONTROL, 30, &fits).size(), 2u);
  EXPECT_EQ(Rows(u"a\nb\nc\nd", 100, VLTO_BOTTOM, 30, &fits).size(), 4u);  // other alignments: no limit
  EXPECT_TRUE(fits);
  EXPECT_EQ(Rows(u"a\nb", 100, VLTO_SINGLELINE, 30, &fits), RowList{u"a"});
  EXPECT_TRUE(fits);
  EXPECT_EQ(Rows(u"aaaa", 20, VLTO_SINGLELINE, 30, &fits).size(), 1u);
  EXPECT_FALSE(fits);  // a single line wider than the rectangle
}

TEST_F(TextRows, ParametersFromTheDC) {
  TvlTextParams p = vlGetTextParamsForDC(DC, VLTO_RIGHT | VLTO_BOTTOM | VLTO_END_ELLIPSIS | VLTO_PATTERNEDTEXT, 1.5);
  EXPECT_EQ(p.RowHeight, 13);
  EXPECT_EQ(p.FullRowHeight, 20);  // 19.5 to even
  EXPECT_EQ(p.TextAlignX, taRight);
  EXPECT_EQ(p.TextAlignY, taBottom);
  EXPECT_EQ(p.EndEllipsisWidth, Width(u"..."));
  EXPECT_FALSE(p.PatternedText);  // 13 pixels can be read
  EXPECT_EQ(p.OnePixel, 1);
  EXPECT_EQ(vlGetTextParamsForDC(DC, 0, 2.5).FullRowHeight, 32);  // 32.5 to even
  UseFont(-4);
  EXPECT_TRUE(vlGetTextParamsForDC(DC, VLTO_PATTERNEDTEXT).PatternedText);
  UseFont(-11, 700);
  EXPECT_TRUE(vlGetTextParamsForDC(DC, 0).Bold);
}

TEST_F(TextRows, ExternalLeadingCountsOnlyWhenAsked) {
  // DejaVu has no line gap; Liberation Sans has one that shows at large sizes
  fontmap::SetFontFileOverride("/usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf");
  UseFont(-100);
  TEXTMETRICW tm{};
  GetTextMetricsW(DC, &tm);
  if (tm.tmExternalLeading == 0) GTEST_SKIP() << "no font with external leading";
  EXPECT_EQ(vlGetTextParamsForDC(DC, VLTO_EXTERNALLEADING).FullRowHeight, tm.tmHeight + tm.tmExternalLeading);
  EXPECT_EQ(vlGetTextParamsForDC(DC, VLTO_EXTERNALLEADING).tmExternalLeading, tm.tmExternalLeading);
  EXPECT_EQ(vlGetTextParamsForDC(DC, 0).FullRowHeight, tm.tmHeight);
}

TEST_F(TextRows, TabbedExtents) {
  const SIZE plain = [&] {
    SIZE s{};
    GetTextExtentPoint32W(DC, u"ab", 2, &s);
    return s;
  }();
  EXPECT_GT(vlCalcTextExtents(DC, u"a\tb", 3, true).cx, plain.cx + 10);
  EXPECT_EQ(vlCalcTextExtents(DC, u"a\tb", 3, false).cx, plain.cx);  // the tab takes no room unexpanded
  // beyond 16 bits of width and beyond 4095 characters
  UseFont(-40);
  for (int n : {4000, 6000}) {
    const String wide(size_t(n), u'W');
    SIZE s{};
    GetTextExtentPoint32W(DC, wide.data(), n, &s);
    ASSERT_GT(s.cx, 65535);
    EXPECT_EQ(vlCalcTextExtents(DC, wide.data(), n, true).cx, s.cx) << n;
  }
}

TEST_F(TextRows, RenderMeasuresWithCalcRect) {
  // measuring breaks at line ends only: as wide as the longest line
  TRect r{10, 10, 41, 500};
  EXPECT_EQ(vlRenderText(DC, u"aa aa aa\naa", r, VLTO_WORDBREAK | VLTO_CALCRECT), 26);
  EXPECT_EQ(r, (TRect{10, 10, 10 + Width(u"aa aa aa"), 36}));
  r = TRect{10, 10, 41, 500};
  EXPECT_EQ(vlRenderText(DC, u"aaaaaaaaaa", r, VLTO_CHARBREAK | VLTO_WORDBREAK | VLTO_CALCRECT), 39);
  EXPECT_EQ(r, (TRect{10, 10, 10 + Width(u"aaaa"), 49}));
  r = TRect{0, 0, 100, 100};
  EXPECT_EQ(vlRenderText(DC, u"a\nb\nc", r, VLTO_CALCROWCOUNT), 3);
  EXPECT_EQ(vlRenderText(DC, u"", r, 0), 0);
  // prefixes: "&&" is one "&", a lone "&" goes; a text of one "&" is empty
  r = TRect{0, 0, 100, 100};
  vlRenderText(DC, u"a&&b", r, VLTO_CALCRECT | VLTO_SINGLELINE | VLTO_HIDEPREFIX);
  EXPECT_EQ(r.Right, Width(u"a&b"));
  r = TRect{0, 0, 100, 100};
  EXPECT_EQ(vlRenderText(DC, u"&", r, VLTO_HIDEPREFIX), 0);
  // nothing is drawn into an empty rectangle
  r = TRect{0, 0, 0, 100};
  EXPECT_EQ(vlRenderText(DC, u"aa", r, 0), 0);
}

TEST_F(TextRows, PlacementByAlignment) {
  TvlTextParams p = vlGetTextParamsForDC(DC, VLTO_CENTER_HORIZONTALLY | VLTO_CENTER_VERTICALLY);
  TvlTextRows rows;
  Integer count = 0;
  const TRect r{0, 0, 101, 100};
  vlBuildTextRows(DC, u"aa\naaaa", 7, 0, count, rows, p, r);
  vlPlaceTextRows(DC, r, p, count, rows);
  EXPECT_EQ(vlGetTextRow(rows, 0)->TextOriginX, (101 - 14) / 2);
  EXPECT_EQ(vlGetTextRow(rows, 1)->TextOriginX, (101 - 28) / 2);
  EXPECT_EQ(vlGetTextRow(rows, 0)->TextOriginY, (100 - 26) / 2);
  EXPECT_EQ(vlGetMaxTextRowWidth(rows, count), 28);
  // distributed vertically: 100 - 13 = 87 over 2 gaps gives 43 and one spare pixel from the top
  p = vlGetTextParamsForDC(DC, VLTO_DISTRIBUTE_VERTICALLY | VLTO_RIGHT | VLTO_PREVENT_LEFT_EXCEED);
  vlBuildTextRows(DC, u"a\nb\nccccccccccccccccc", 21, 0, count, rows, p, r);
  vlPlaceTextRows(DC, r, p, count, rows);
  EXPECT_EQ(vlGetTextRow(rows, 1)->TextOriginY, 44);
  EXPECT_EQ(vlGetTextRow(rows, 2)->TextOriginY, 87);
  EXPECT_EQ(vlGetTextRow(rows, 0)->TextOriginX, 101 - 7);
  EXPECT_EQ(vlGetTextRow(rows, 2)->TextOriginX, 0);  // wider than the rectangle: kept at its left
}

}  // namespace

namespace {

// Measures as the default does, but is not the default: the engine then
// measures every candidate from the row start, as the layout is specified.
TSize MeasureFromRowStart(HDC ADC, const Char* AText, Integer ALength, Boolean AExpandTabs, Pointer) {
  return vlCalcTextExtents(ADC, AText, ALength, AExpandTabs);
}

// The linear breaking (each unit measured once) gives exactly the rows and
// widths of measuring each candidate from the row start.
TEST_F(TextRows, LinearBreakingGivesTheSpecifiedRows) {
  std::mt19937 rng(18);
  const String pieces[] = {u"a",       u"kart",         u"yükleme", u" ",  u"  ", u"\r\n",
                           u"\n",      u"İstanbul",     u"一",      u"。", u"\t", u"\U0001F600",
                           u"e\u0301", String(70, u'k')};
  const Cardinal formats[] = {VLTO_WORDBREAK,
                              VLTO_WORDBREAK | VLTO_CENTER_HORIZONTALLY,
                              VLTO_WORDBREAK | VLTO_RIGHT | VLTO_EXCELSTYLE,
                              VLTO_JUSTIFY_HORIZONTALLY,
                              VLTO_WORDBREAK | VLTO_CHARBREAK,
                              VLTO_WORDBREAK | VLTO_EXPANDTABS,
                              VLTO_WORDBREAK | VLTO_END_ELLIPSIS};
  for (int round = 0; round < 300; ++round) {
    String text;
    for (int i = 0, n = 1 + int(rng() % 30); i < n; ++i) text += pieces[rng() % std::size(pieces)];
    const Cardinal format = formats[rng() % std::size(formats)];
    const TRect rect{0, 0, 10 + int(rng() % 120), 10 + int(rng() % 200)};
    const TvlTextParams p = vlGetTextParamsForDC(DC, format);
    TvlTextRows linear, quadratic;
    Integer a = 0, b = 0;
    const bool fitsA = vlBuildTextRows(DC, text.data(), Integer(text.size()), 0, a, linear, p, rect);
    const bool fitsB = vlBuildTextRowsEx(DC, text.data(), Integer(text.size()), &MeasureFromRowStart, nullptr, 0, b,
                                         quadratic, p, rect);
    ASSERT_EQ(a, b) << round;
    EXPECT_EQ(fitsA, fitsB) << round;
    for (Integer i = 0; i < a; ++i) {
      const TvlTextRow& x = *vlGetTextRow(linear, i);
      const TvlTextRow& y = *vlGetTextRow(quadratic, i);
      ASSERT_EQ(x.StartOffset, y.StartOffset) << round << " row " << i;
      ASSERT_EQ(x.TextLength, y.TextLength) << round << " row " << i;
      ASSERT_EQ(x.BreakCount, y.BreakCount) << round << " row " << i;
      if (x.TextLength > 0) {
        ASSERT_EQ(x.TextExtents, y.TextExtents) << round << " row " << i;
      }
    }
  }
}

}  // namespace

namespace {

TEST_F(TextRows, HighlightRangesAreMovedInsideTheText) {
  const COLORREF highlight = RGB(0, 0, 255);
  auto highlighted = [&](Integer AStart, Integer ALength) {
    Canvas->Fill(RGB(255, 255, 255));
    TRect r{0, 0, 100, 20};
    vlRenderTextHighlighted(DC, u"aaaa", r, VLTO_SINGLELINE, AStart, ALength, nullptr, clBlue, clWhite);
    std::string row;
    for (int x = 0; x < 32; x += 7) row += Canvas->At(x + 1, 1) == highlight ? '#' : '.';
    return row;
  };
  EXPECT_EQ(highlighted(1, 2), ".##..");
  EXPECT_EQ(highlighted(2, 3), ".###.");  // passes the end: moved back to end there
  EXPECT_EQ(highlighted(4, 1), ".....");  // starts at the end: nothing
  EXPECT_EQ(highlighted(-1, 2), ".....");
  EXPECT_EQ(highlighted(0, 9), "####.");  // longer than the text: all of it
}

}  // namespace

namespace {

// Counts the characters a measuring procedure of the caller's is asked for.
TSize CountingMeasure(HDC ADC, const Char* AText, Integer ALength, Boolean AExpandTabs, Pointer AUserData) {
  *static_cast<Int64*>(AUserData) += ALength;
  return vlCalcTextExtents(ADC, AText, ALength, AExpandTabs);
}

// Breaking one long word by characters measures each character a bounded
// number of times, not the rest of the word for every row.
TEST_F(TextRows, CharacterBreakingOfALongWordIsLinear) {
  const Integer length = 20000;
  const String word(size_t(length), u'a');
  const TvlTextParams p = vlGetTextParamsForDC(DC, VLTO_WORDBREAK | VLTO_CHARBREAK);
  TvlTextRows rows;
  Integer count = 0;
  Int64 measured = 0;
  vlBuildTextRowsEx(DC, word.data(), length, &CountingMeasure, &measured, 0, count, rows, p,
                    TRect{0, 0, 70, 1 << 30});
  EXPECT_EQ(count, length / 10);  // ten 7-pixel characters a row
  EXPECT_LT(measured, Int64(length) * 40) << "characters measured";
  for (Integer i = 0; i < count; ++i) ASSERT_EQ(vlGetTextRow(rows, i)->TextLength, 10) << i;
}

// Rows end between characters as drawn: never inside a surrogate pair,
// before a combining mark or after a zero-width joiner; a row too narrow
// for one such character still takes it whole.
TEST_F(TextRows, CharacterBreakingKeepsSurrogatePairsAndCombiningMarks) {
  const String emoji = u"\U0001F600";  // a surrogate pair
  const String accented = u"e\u0301";  // e and a combining acute accent
  const String joined = u"\U0001F468\u200D\U0001F469";
  struct Case {
    const char* Name;
    String Unit;
  } cases[] = {
      {"surrogates", emoji}, {"combining", accented}, {"joiner", joined}, {"mixed", u"a" + emoji + accented}};
  for (const Case& c : cases)
    for (int width : {1, 9, 15, 23, 40}) {
      String text;
      for (int i = 0; i < 12; ++i) text += c.Unit;
      for (Cardinal format : {VLTO_WORDBREAK | VLTO_CHARBREAK, VLTO_WORDBREAK | VLTO_EDITCONTROL}) {
        String joinedRows;
        for (const String& row : Rows(text, width, format)) {
          ASSERT_FALSE(row.empty()) << c.Name << " " << width;
          EXPECT_TRUE(vlIsTextClusterStart(text.data(), Integer(text.size()), Integer(joinedRows.size())))
              << c.Name << " width " << width << " row starts at " << joinedRows.size();
          joinedRows += row;
        }
        EXPECT_TRUE(joinedRows == text) << c.Name;
      }
    }
}

// The drawing of a row cut by the end ellipsis equals the row's characters
// that fit, drawn as the engine draws them, with "..." after them.
TEST_F(TextRows, TheEndEllipsisCutsExpandedTabsAsDrawn) {
  const String text = u"ab\tcd\tef\tgh\tij\tkl";
  const TRect box{0, 0, 150, 14};
  const TvlTextParams p = vlGetTextParamsForDC(DC, VLTO_END_ELLIPSIS | VLTO_EXPANDTABS);
  // the expected cut: the longest head whose tabbed width leaves room for "..."
  Integer fit = 0;
  auto tabbedWidth = [&](Integer n) {
    return Integer(GetTabbedTextExtentW(DC, text.data(), n, 0, nullptr) & 0xFFFF);
  };
  while (fit < Integer(text.size()) && tabbedWidth(fit + 1) <= box.Width() - p.EndEllipsisWidth) ++fit;
  ASSERT_LT(fit, Integer(text.size()) - 1);
  gditest::TCanvas expected(320, 200);
  SelectObject(expected.DC, GetCurrentObject(DC, OBJ_FONT));
  SetBkMode(expected.DC, TRANSPARENT);
  TabbedTextOutW(expected.DC, 0, 0, text.data(), fit, 0, nullptr, 0);
  TextOutW(expected.DC, tabbedWidth(fit), 0, u"...", 3);
  SelectObject(expected.DC, GetStockObject(SYSTEM_FONT));
  Canvas->Fill(RGB(255, 255, 255));
  TRect r = box;
  vlRenderText(DC, text, r, VLTO_SINGLELINE | VLTO_END_ELLIPSIS | VLTO_EXPANDTABS);
  for (int y = 0; y < box.Height(); ++y)
    for (int x = 0; x < box.Width(); ++x) ASSERT_EQ(Canvas->At(x, y), expected.At(x, y)) << x << "," << y;
}

// A highlighted range after expanded tabs lies under its own characters.
TEST_F(TextRows, AHighlightAfterExpandedTabsLiesUnderItsCharacters) {
  const String text = u"ab\tcd\tef";
  const COLORREF highlight = RGB(0, 0, 255);
  Canvas->Fill(RGB(255, 255, 255));
  TRect r{0, 0, 300, 14};
  vlRenderTextHighlighted(DC, text, r, VLTO_SINGLELINE | VLTO_EXPANDTABS, 6, 2, nullptr, clBlue, clWhite);
  const int start = int(GetTabbedTextExtentW(DC, text.data(), 6, 0, nullptr) & 0xFFFF);
  const int end = int(GetTabbedTextExtentW(DC, text.data(), 8, 0, nullptr) & 0xFFFF);
  ASSERT_GT(start, Width(text));  // the tabs move "ef" past where it would lie without them
  EXPECT_EQ(Canvas->At(start, 0), highlight);
  EXPECT_EQ(Canvas->At(end - 1, 0), highlight);
  EXPECT_NE(Canvas->At(start - 1, 0), highlight);
  EXPECT_NE(Canvas->At(end, 0), highlight);
}

// With the end ellipsis the rows are whole rows, so that the last one seen
// ends with "..." also when the cut falls between rows.
TEST_F(TextRows, TheEndEllipsisEndsTheLastRowSeenWhenTheCutFallsBetweenRows) {
  bool fits = true;
  // rows of 13 pixels in 26: the text goes on after the second row
  EXPECT_EQ(Rows(u"a\nb\nc", 100, VLTO_END_ELLIPSIS, 26, &fits), (RowList{u"a", u"b"}));
  EXPECT_FALSE(fits);
  EXPECT_EQ(Rows(u"a\nb\nc", 100, VLTO_END_ELLIPSIS, 30, &fits), (RowList{u"a", u"b"}));
  EXPECT_FALSE(fits);
  EXPECT_EQ(Rows(u"a\nb\nc", 100, VLTO_END_ELLIPSIS | VLTO_NOCLIP, 26, &fits).size(), 3u);  // not cut
  EXPECT_EQ(Rows(u"a\nb\nc", 100, VLTO_END_ELLIPSIS, 5, &fits), (RowList{u"a"}));  // at least one row
  // drawn: the second row ends with the ellipsis inside the rectangle
  Canvas->Fill(RGB(255, 255, 255));
  TRect r{0, 0, 100, 26};
  vlRenderText(DC, u"a\nb\nc", r, VLTO_END_ELLIPSIS);
  gditest::TCanvas expected(320, 200);
  SelectObject(expected.DC, GetCurrentObject(DC, OBJ_FONT));
  SetBkMode(expected.DC, TRANSPARENT);
  TextOutW(expected.DC, 0, 0, u"a", 1);
  TextOutW(expected.DC, 0, 13, u"b...", 4);
  SelectObject(expected.DC, GetStockObject(SYSTEM_FONT));
  for (int y = 0; y < 26; ++y)
    for (int x = 0; x < 100; ++x) ASSERT_EQ(Canvas->At(x, y), expected.At(x, y)) << x << "," << y;
}

}  // namespace
