// The text layout engine's line breaking: 10,000 paragraphs of 200 words
// laid out into 300-pixel rows (word breaking, Tahoma 8 pt), beside its
// floor measured in the same run: one plain measuring call per word of the
// same text. Figures are per paragraph, in thread CPU time; "ratio" is the
// layout over the floor.
#include <benchmark/benchmark.h>

#include <ctime>
#include <random>
#include <vector>

#include "lib/foundation/vlTextLayout.h"
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

}  // namespace

BENCHMARK_MAIN();
