// A grid-like 1280 x 720 frame drawn through the library's canvas (TvlCanvas)
// and the same frame drawn directly on the graphics layer, in one run: row
// fills, a highlighted row, grid lines, and per cell a clip saved, narrowed
// to the cell and restored around a text (numbers right-aligned on one line,
// words centred vertically with an end ellipsis). Reported: CPU ms per frame
// of each and the canvas's ratio to the direct drawing (goal: under 1.2).
#include <benchmark/benchmark.h>
#include <time.h>

#include <algorithm>
#include <string>
#include <vector>

#include "lib/foundation/vlGraphics.h"
#include "platform/classes/ModuleInit.h"
#include "platform/win/Gdi.h"
#include "platform/win/GdiText.h"

namespace {

using namespace win;

constexpr int kWidth = 1280, kHeight = 720;
constexpr int kRowHeight = 18, kColWidth = 80;
constexpr int kRows = kHeight / kRowHeight;  // 40
constexpr int kCols = kWidth / kColWidth;    // 16
constexpr int kSelectedRow = 7;
constexpr TColor kBand[2] = {0xFFFFFF, 0xFAF4F0};
constexpr TColor kSelected = 0xC56A31;
constexpr TColor kLine = 0xE5D7D0;

double ThreadCpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

std::vector<String> CellTexts() {
  static const char16_t* const words[] = {u"Kontör yüklemesi", u"Tarife", u"Evet", u"Hayır", u"Merkez şubesi",
                                          u"Şube 4", u"Yüklendi", u"Açık"};
  std::vector<String> texts;
  for (int r = 0; r < kRows; ++r)
    for (int c = 0; c < kCols; ++c) {
      if (c % 2 == 1) {
        texts.emplace_back(words[(r * 7 + c) % 8]);
      } else {
        const std::string n = std::to_string((r * 7919 + c * 104729) % 1000000);
        texts.emplace_back(n.begin(), n.end());
      }
    }
  return texts;
}

TRect CellRect(int r, int c) {
  return TRect{c * kColWidth + 2, r * kRowHeight, (c + 1) * kColWidth - 3, (r + 1) * kRowHeight - 1};
}

void DrawWithCanvas(TvlCanvas* canvas, const std::vector<String>& texts) {
  for (int r = 0; r < kRows; ++r)
    canvas->FillRect(TRect{0, r * kRowHeight, kWidth, (r + 1) * kRowHeight},
                     r == kSelectedRow ? kSelected : kBand[r & 1]);
  canvas->Pen()->SetColor(kLine);
  for (int r = 1; r <= kRows; ++r) {
    canvas->MoveTo(0, r * kRowHeight - 1);
    canvas->LineTo(kWidth, r * kRowHeight - 1);
  }
  for (int c = 1; c <= kCols; ++c) {
    canvas->MoveTo(c * kColWidth - 1, 0);
    canvas->LineTo(c * kColWidth - 1, kHeight);
  }
  canvas->Brush()->SetStyle(bsClear);
  for (int r = 0; r < kRows; ++r) {
    canvas->Font()->SetColor(r == kSelectedRow ? clWhite : clBlack);
    for (int c = 0; c < kCols; ++c) {
      const TRect cell = CellRect(r, c);
      canvas->SaveClipRegion();
      canvas->IntersectClipRect(cell);
      const Integer flags = c % 2 == 1 ? vlAlignLeft | vlAlignVCenter | vlSingleLine | vlShowEndEllipsis
                                       : vlAlignRight | vlAlignVCenter | vlSingleLine;
      canvas->DrawTexT(texts[size_t(r) * kCols + c], cell, flags);
      canvas->RestoreClipRegion();
    }
  }
  canvas->Brush()->SetStyle(bsSolid);
}

void DrawDirectly(HDC dc, HFONT font, const std::vector<String>& texts) {
  for (int r = 0; r < kRows; ++r) {
    RECT rc{0, r * kRowHeight, kWidth, (r + 1) * kRowHeight};
    HBRUSH brush = CreateSolidBrush(COLORREF(r == kSelectedRow ? kSelected : kBand[r & 1]));
    FillRect(dc, &rc, brush);
    DeleteObject(brush);
  }
  HPEN pen = CreatePen(PS_SOLID, 1, COLORREF(kLine));
  HGDIOBJ oldPen = SelectObject(dc, pen);
  for (int r = 1; r <= kRows; ++r) {
    MoveToEx(dc, 0, r * kRowHeight - 1, nullptr);
    LineTo(dc, kWidth, r * kRowHeight - 1);
  }
  for (int c = 1; c <= kCols; ++c) {
    MoveToEx(dc, c * kColWidth - 1, 0, nullptr);
    LineTo(dc, c * kColWidth - 1, kHeight);
  }
  SelectObject(dc, oldPen);
  DeleteObject(pen);
  HGDIOBJ oldFont = SelectObject(dc, font);
  SetBkMode(dc, TRANSPARENT);
  HRGN saved = CreateRectRgn(0, 0, 0, 0);
  for (int r = 0; r < kRows; ++r) {
    SetTextColor(dc, r == kSelectedRow ? RGB(255, 255, 255) : RGB(0, 0, 0));
    for (int c = 0; c < kCols; ++c) {
      const String& s = texts[size_t(r) * kCols + c];
      RECT cell = CellRect(r, c);
      const bool hadClip = GetClipRgn(dc, saved) == 1;
      IntersectClipRect(dc, cell.left, cell.top, cell.right, cell.bottom);
      if (c % 2 == 1) {
        DrawTextW(dc, s.c_str(), int(s.size()), &cell,
                  DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
      } else {
        SIZE size{};
        GetTextExtentPoint32W(dc, s.c_str(), int(s.size()), &size);
        ExtTextOutW(dc, cell.right - size.cx, (cell.top + cell.bottom - size.cy) / 2, ETO_CLIPPED, &cell,
                    s.c_str(), UINT(s.size()), nullptr);
      }
      SelectClipRgn(dc, hadClip ? saved : nullptr);
    }
  }
  DeleteObject(saved);
  SelectObject(dc, oldFont);
}

void BM_CanvasFrame(benchmark::State& state) {
  TModulesScope modules;
  TBitmap* bitmap = New<TBitmap>();
  bitmap->SetPixelFormat(pf32bit);
  bitmap->SetSize(kWidth, kHeight);
  TvlCanvas* canvas = New<TvlCanvas>(bitmap->Canvas());
  HFONT font = CreateFontW(-11, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, u"Tahoma");
  const std::vector<String> texts = CellTexts();
  HDC dc = bitmap->Canvas()->Handle();
  DrawWithCanvas(canvas, texts);  // warms the glyph cache
  DrawDirectly(dc, font, texts);

  // Rounds of both, interleaved, each figure the best round (the machine is shared).
  constexpr int kFramesPerRound = 20;
  double bestCanvas = 1e9, bestDirect = 1e9;
  for (auto _ : state) {
    double t0 = ThreadCpuSeconds();
    for (int i = 0; i < kFramesPerRound; ++i) DrawWithCanvas(canvas, texts);
    bestCanvas = std::min(bestCanvas, (ThreadCpuSeconds() - t0) / kFramesPerRound);
    bitmap->Canvas()->Refresh();  // the direct drawing selects its own objects
    t0 = ThreadCpuSeconds();
    for (int i = 0; i < kFramesPerRound; ++i) DrawDirectly(dc, font, texts);
    bestDirect = std::min(bestDirect, (ThreadCpuSeconds() - t0) / kFramesPerRound);
    benchmark::ClobberMemory();
  }
  state.counters["canvas_ms_per_frame"] = bestCanvas * 1e3;
  state.counters["direct_ms_per_frame"] = bestDirect * 1e3;
  state.counters["ratio"] = bestCanvas / bestDirect;
  state.counters["goal_ratio"] = 1.2;
  DeleteObject(font);
  Free(canvas);
  Free(bitmap);
}
BENCHMARK(BM_CanvasFrame)->Unit(benchmark::kMillisecond)->Iterations(10);

}  // namespace

BENCHMARK_MAIN();
