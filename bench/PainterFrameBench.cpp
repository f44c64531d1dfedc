// A grid frame of 64 rows and 16 columns drawn through each painter
// (standard, flat, ultra-flat): a header row (an indicator header and 16
// column headers with their neighbours), per row an indicator item (the
// focused row with its arrow) and a check box, per cell its content fill and
// the painter's cell border (DrawFooterCellBorder: a sunken ring in the
// standard and flat painters, a frame in the ultra-flat one). The floor, in the same run: the same rectangles
// filled plainly on the same bitmap (FillRect of the graphics layer with two
// ready brushes). Reported: CPU ms per frame of each
// painter and of the floor, and each painter's ratio to the floor (goal:
// under 4).
#include <benchmark/benchmark.h>
#include <time.h>

#include <algorithm>

#include "lib/foundation/vlGraphics.h"
#include "lib/lookandfeel/vlLookAndFeelPainters.h"
#include "platform/classes/ModuleInit.h"
#include "platform/vcl/Graphics.h"
#include "platform/win/Gdi.h"

namespace {

constexpr int kRows = 64, kCols = 16;
constexpr int kRowHeight = 18, kColWidth = 60, kIndicatorWidth = 14, kCheckSize = 13;
constexpr int kHeaderHeight = 19;
constexpr int kWidth = kIndicatorWidth + kCols * kColWidth, kHeight = kHeaderHeight + kRows * kRowHeight;
constexpr int kFocusedRow = 5;

double ThreadCpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

TRect HeaderRect(int c) {
  const int left = kIndicatorWidth + c * kColWidth;
  return TRect{left, 0, left + kColWidth, kHeaderHeight};
}
TRect IndicatorRect(int r) {
  return TRect{0, kHeaderHeight + r * kRowHeight, kIndicatorWidth, kHeaderHeight + (r + 1) * kRowHeight};
}
TRect CellRect(int r, int c) {
  const int left = kIndicatorWidth + c * kColWidth, top = kHeaderHeight + r * kRowHeight;
  return TRect{left, top, left + kColWidth, top + kRowHeight};
}
TRect CheckRect(int r) {
  const TRect cell = CellRect(r, 0);
  const int top = (cell.Top + cell.Bottom - kCheckSize) / 2;
  return TRect{cell.Left + 4, top, cell.Left + 4 + kCheckSize, top + kCheckSize};
}

void DrawWithPainter(TvlCustomLookAndFeelPainterClass P, TvlCanvas* C) {
  P->DrawHeader(C, TRect{0, 0, kIndicatorWidth, kHeaderHeight}, TRect{0, 0, kIndicatorWidth, kHeaderHeight},
                TvlNeighbors{nRight}, P->HeaderBorders(TvlNeighbors{nRight}), vlbsNormal, taLeftJustify, vaCenter,
                false, false, String(), nullptr, clNone, P->DefaultHeaderColor());
  for (int c = 0; c < kCols; ++c) {
    TvlNeighbors n{nLeft};
    if (c < kCols - 1) n.Include(nRight);
    const TvlBorders borders = P->HeaderBorders(n);
    const TRect r = P->HeaderBounds(HeaderRect(c), n, borders);
    P->DrawHeader(C, r, r, n, borders, vlbsNormal, taLeftJustify, vaCenter, false, false, String(), nullptr, clNone,
                  P->DefaultHeaderColor());
  }
  const TColor content = P->DefaultContentColor();
  for (int r = 0; r < kRows; ++r) {
    P->DrawIndicatorItem(C, IndicatorRect(r), r == kFocusedRow ? ikArrow : ikNone, P->DefaultHeaderColor());
    for (int c = 0; c < kCols; ++c) {
      const TRect cell = CellRect(r, c);
      C->FillRect(cell, content);
      P->DrawFooterCellBorder(C, cell);
    }
    P->DrawCheckButton(C, CheckRect(r), vlbsNormal, r % 2 == 1);
  }
}

// Straight to the graphics layer with two ready brushes.
void DrawPlainly(win::HDC DC, win::HBRUSH AFace, win::HBRUSH AWindow) {
  auto fill = [&](const TRect& R, win::HBRUSH B) { win::FillRect(DC, &R, B); };
  fill(TRect{0, 0, kIndicatorWidth, kHeaderHeight}, AFace);
  for (int c = 0; c < kCols; ++c) fill(HeaderRect(c), AFace);
  for (int r = 0; r < kRows; ++r) {
    fill(IndicatorRect(r), AFace);
    for (int c = 0; c < kCols; ++c) fill(CellRect(r, c), AWindow);
    fill(CheckRect(r), AWindow);
  }
}

void BM_PainterFrame(benchmark::State& state) {
  TModulesScope modules;
  TBitmap* bitmap = New<TBitmap>();
  bitmap->SetPixelFormat(pf32bit);
  bitmap->SetSize(kWidth, kHeight);
  TvlCanvas* canvas = New<TvlCanvas>(bitmap->Canvas());
  const TvlCustomLookAndFeelPainterClass painters[] = {ClassOf<TvlStandardLookAndFeelPainter>(),
                                                       ClassOf<TvlFlatLookAndFeelPainter>(),
                                                       ClassOf<TvlUltraFlatLookAndFeelPainter>()};
  const char* const names[] = {"standard", "flat", "ultraflat"};
  const win::HDC dc = bitmap->Canvas()->Handle();
  const win::HBRUSH face = win::CreateSolidBrush(win::COLORREF(ColorToRGB(clBtnFace)));
  const win::HBRUSH window = win::CreateSolidBrush(win::COLORREF(ColorToRGB(clWindow)));
  for (auto p : painters) DrawWithPainter(p, canvas);
  DrawPlainly(dc, face, window);

  // Rounds of all, interleaved, each figure the best round (the machine is shared).
  constexpr int kFramesPerRound = 5;
  double best[3] = {1e9, 1e9, 1e9}, bestPlain = 1e9;
  for (auto _ : state) {
    for (int i = 0; i < 3; ++i) {
      const double t0 = ThreadCpuSeconds();
      for (int f = 0; f < kFramesPerRound; ++f) DrawWithPainter(painters[i], canvas);
      best[i] = std::min(best[i], (ThreadCpuSeconds() - t0) / kFramesPerRound);
    }
    const double t0 = ThreadCpuSeconds();
    for (int f = 0; f < kFramesPerRound; ++f) DrawPlainly(dc, face, window);
    bestPlain = std::min(bestPlain, (ThreadCpuSeconds() - t0) / kFramesPerRound);
    benchmark::ClobberMemory();
  }
  state.counters["plain_ms_per_frame"] = bestPlain * 1e3;
  for (int i = 0; i < 3; ++i) {
    state.counters[std::string(names[i]) + "_ms_per_frame"] = best[i] * 1e3;
    state.counters[std::string(names[i]) + "_ratio"] = best[i] / bestPlain;
  }
  state.counters["goal_ratio"] = 4;
  win::DeleteObject(face);
  win::DeleteObject(window);
  Free(canvas);
  Free(bitmap);
}
BENCHMARK(BM_PainterFrame)->Unit(benchmark::kMillisecond)->Iterations(10);

}  // namespace

BENCHMARK_MAIN();
