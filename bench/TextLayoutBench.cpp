// The text layout engine's line breaking: 10,000 paragraphs of 200 words
// laid out into 300-pixel rows (word breaking, Tahoma 8 pt), beside its
// floor measured in the same run: one plain measuring call per word of the
// same text. Figures are per paragraph, in thread CPU time; "ratio" is the
// layout over the floor.
//
// Long texts: one unbroken word broken by characters, and one paragraph,
// each of 50,000 and of 200,000 characters, laid out into 300-pixel rows,
// beside the platform's own measuring of the same text (its partial extents,
// one pass) and its own text drawing's layout (DrawTextW with DT_CALCRECT
// and DT_WORDBREAK); the library canvas's GetTextStringsBounds on the
// paragraph too. The engine is linear when the 200,000 figure is about four
// times the 50,000 one ("per_char_ns" stays flat).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <ctime>
#include <random>
#include <vector>

#include "lib/foundation/vlGraphics.h"
#include "lib/foundation/vlTextLayout.h"
#include "platform/classes/ModuleInit.h"
#include "platform/win/Gdi.h"
#include "platform/win/GdiText.h"

namespace {

using namespace win;

constexpr int ParagraphCount = 10000, WordsPerParagraph = 200;

struct TParagraph {
  String Text;
  std::vector<std::pair<int, int>> Words;  // start and length
};

std::vector<TParagraph> MakeParagraphs() {
  const String letters = u"abcçdefgğhıijklmnoöprsştuüvyz";
  std::mt19937 rng(20261210);
  std::vector<TParagraph> result(ParagraphCount);
  for (TParagraph& p : result) {
    for (int w = 0; w < WordsPerParagraph; ++w) {
      if (w) p.Text += u' ';
      const int start = int(p.Text.size()), length = 2 + int(rng() % 9);
      for (int i = 0; i < length; ++i) p.Text += letters[rng() % letters.size()];
      p.Words.emplace_back(start, length);
    }
  }
  return result;
}

double ThreadSeconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

// A memory DC with Tahoma 8 pt, the word-breaking parameters and a row
// store for the run.
struct TLayoutSetup {
  TLayoutSetup() {
    dc = CreateCompatibleDC(nullptr);
    font = CreateFontW(-11, 0, 0, 0, 400, 0, 0, 0, 1, 0, 0, 0, 0, u"Tahoma");
    oldFont = SelectObject(dc, font);
    params = vlGetTextParamsForDC(dc, VLTO_WORDBREAK);
  }
  ~TLayoutSetup() {
    vlResetTextRows(rows);
    SelectObject(dc, oldFont);
    DeleteObject(font);
    DeleteDC(dc);
  }
  HDC dc{};
  HFONT font{};
  HGDIOBJ oldFont{};
  TvlTextParams params;
  const TRect rect{0, 0, 300, 1000000};
  TvlTextRows rows;
};

void BM_LayoutParagraphs(benchmark::State& State) {
  static const std::vector<TParagraph> paragraphs = MakeParagraphs();
  TLayoutSetup setup;
  HDC dc = setup.dc;
  double layout = 0, floor = 0;
  Int64 rowCount = 0;
  for (auto _ : State) {
    double start = ThreadSeconds();
    for (const TParagraph& p : paragraphs) {
      Integer count = 0;
      vlBuildTextRows(dc, p.Text.data(), Integer(p.Text.size()), 0, count, setup.rows, setup.params, setup.rect);
      rowCount += count;
    }
    layout += ThreadSeconds() - start;
    start = ThreadSeconds();
    Int64 widths = 0;
    for (const TParagraph& p : paragraphs)
      for (const auto& w : p.Words) {
        SIZE s{};
        GetTextExtentPoint32W(dc, p.Text.data() + w.first, w.second, &s);
        widths += s.cx;
      }
    benchmark::DoNotOptimize(widths);
    floor += ThreadSeconds() - start;
  }
  const double n = double(State.iterations()) * ParagraphCount;
  State.counters["layout_us"] = layout / n * 1e6;
  State.counters["floor_us"] = floor / n * 1e6;
  State.counters["ratio"] = layout / floor;
  State.counters["rows"] = double(rowCount) / n;
}
BENCHMARK(BM_LayoutParagraphs)->Unit(benchmark::kMillisecond)->Iterations(3);

// For comparison: the same layout measuring every candidate from the row
// start (a measuring procedure of the caller's takes that path).
TSize MeasureFromRowStart(HDC ADC, const Char* AText, Integer ALength, Boolean AExpandTabs, Pointer) {
  return vlCalcTextExtents(ADC, AText, ALength, AExpandTabs);
}

void BM_LayoutParagraphsFromRowStart(benchmark::State& State) {
  static const std::vector<TParagraph> paragraphs = MakeParagraphs();
  TLayoutSetup setup;
  double layout = 0;
  for (auto _ : State) {
    const double start = ThreadSeconds();
    for (size_t i = 0; i < paragraphs.size(); i += 10) {
      Integer count = 0;
      vlBuildTextRowsEx(setup.dc, paragraphs[i].Text.data(), Integer(paragraphs[i].Text.size()),
                        &MeasureFromRowStart, nullptr, 0, count, setup.rows, setup.params, setup.rect);
    }
    layout += ThreadSeconds() - start;
  }
  State.counters["layout_us"] = layout / (double(State.iterations()) * ParagraphCount / 10) * 1e6;
}
BENCHMARK(BM_LayoutParagraphsFromRowStart)->Unit(benchmark::kMillisecond)->Iterations(1);

// --- Long words and paragraphs ----------------------------------------------------

// One word of ALength letters, or a paragraph of words of 2 to 10 letters.
String LongText(Integer ALength, Boolean AParagraph) {
  const String letters = u"abcçdefgğhıijklmnoöprsştuüvyz";
  std::mt19937 rng(20261211);
  String text;
  text.reserve(size_t(ALength));
  Integer wordLeft = 2 + Integer(rng() % 9);
  while (Integer(text.size()) < ALength) {
    if (AParagraph && wordLeft-- == 0) {
      text += u' ';
      wordLeft = 2 + Integer(rng() % 9);
      continue;
    }
    text += letters[rng() % letters.size()];
  }
  return text;
}

// The best of a few rounds, in thread CPU seconds (the machine is shared).
template <class F>
double BestOf(int ARounds, F AWork) {
  double best = 1e9;
  for (int i = 0; i < ARounds; ++i) {
    const double start = ThreadSeconds();
    AWork();
    best = std::min(best, ThreadSeconds() - start);
  }
  return best;
}

// Argument 0: one word (character breaking); 1: a paragraph (word breaking).
// Argument 1: the length in characters.
void BM_LongText(benchmark::State& State) {
  TModulesScope modules;
  const Boolean paragraph = State.range(0) != 0;
  const Integer length = Integer(State.range(1));
  const String text = LongText(length, paragraph);
  TLayoutSetup setup;
  const Cardinal format = VLTO_WORDBREAK | (paragraph ? 0 : VLTO_CHARBREAK);
  const TvlTextParams params = vlGetTextParamsForDC(setup.dc, format);
  TBitmap* bitmap = New<TBitmap>();
  bitmap->SetSize(300, 100);
  TvlCanvas* canvas = New<TvlCanvas>(bitmap->Canvas());
  canvas->Font()->SetName(u"Tahoma");
  canvas->Font()->SetHeight(-11);
  std::vector<TRect> bounds;
  double engine = 0, measuring = 0, drawText = 0, canvasBounds = 0;
  Integer rows = 0;
  for (auto _ : State) {
    engine = BestOf(
        5, [&] { vlBuildTextRows(setup.dc, text.data(), length, 0, rows, setup.rows, params, setup.rect); });
    measuring = BestOf(5, [&] {
      std::vector<INT> partial(static_cast<size_t>(length));
      SIZE size{};
      GetTextExtentExPointW(setup.dc, text.data(), length, 0, nullptr, partial.data(), &size);
      benchmark::DoNotOptimize(partial.data());
    });
    drawText = BestOf(5, [&] {
      RECT r{0, 0, 300, 0};
      DrawTextW(setup.dc, text.data(), length, &r, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
      benchmark::DoNotOptimize(r);
    });
    if (paragraph)
      canvasBounds = BestOf(
          5, [&] { canvas->GetTextStringsBounds(text, Rect(0, 0, 300, 100), vlWordBreak, true, bounds); });
  }
  State.counters["engine_ms"] = engine * 1e3;
  State.counters["per_char_ns"] = engine / length * 1e9;
  State.counters["measuring_ms"] = measuring * 1e3;
  State.counters["drawtext_ms"] = drawText * 1e3;
  State.counters["ratio_to_measuring"] = engine / measuring;
  if (paragraph) {
    State.counters["canvas_bounds_ms"] = canvasBounds * 1e3;
    State.counters["canvas_ratio_to_drawtext"] = canvasBounds / drawText;
  }
  State.counters["rows"] = rows;
  Free(canvas);
  Free(bitmap);
}
BENCHMARK(BM_LongText)
    ->ArgNames({"paragraph", "chars"})
    ->Args({0, 50000})
    ->Args({0, 200000})
    ->Args({1, 50000})
    ->Args({1, 100000})
    ->Args({1, 200000})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
