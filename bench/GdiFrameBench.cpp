// A full 1920 x 1080 frame of grid content drawn into a memory DC: banded cell
// fills, a highlighted row, grid lines, and about 2000 short texts (numbers
// right-aligned with ExtTextOutW, words through DrawTextW), glyph cache warm.
// Reported: CPU ms per frame and its ratio to a plain fill of the same pixels.
#include <benchmark/benchmark.h>
#include <time.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/win/Gdi.h"
#include "platform/win/GdiText.h"

namespace {

using namespace win;

constexpr int kWidth = 1920, kHeight = 1080;
constexpr int kRowHeight = 16, kColWidth = 64;
constexpr int kRows = (kHeight + kRowHeight - 1) / kRowHeight;  // 68, the last one cut
constexpr int kCols = kWidth / kColWidth;                       // 30

double ThreadCpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

// A 32-bit top-down DIB selected into a memory DC.
struct TFrame {
  HDC DC{};
  HBITMAP Bitmap{};
  HGDIOBJ Old{};
  uint32_t* Bits{};

  TFrame() {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = kWidth;
    bi.bmiHeader.biHeight = -kHeight;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    DC = CreateCompatibleDC(nullptr);
    Bitmap = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    Bits = static_cast<uint32_t*>(bits);
    Old = SelectObject(DC, Bitmap);
  }
  ~TFrame() {
    SelectObject(DC, Old);
    DeleteObject(Bitmap);
    DeleteDC(DC);
  }
};

// What one frame draws with: brushes, pen, font and the cell texts, made once.
struct TGridContent {
  HBRUSH Band[2]{};
  HBRUSH Selected{};
  HPEN Line{};
  HFONT Font{};
  std::vector<std::u16string> Texts;  // kRows * kCols

  TGridContent() {
    Band[0] = CreateSolidBrush(RGB(255, 255, 255));
    Band[1] = CreateSolidBrush(RGB(240, 244, 250));
    Selected = CreateSolidBrush(RGB(49, 106, 197));
    Line = CreatePen(PS_SOLID, 1, RGB(208, 215, 229));
    LOGFONTW lf{};
    lf.lfHeight = -11;
    lf.lfWeight = FW_NORMAL;
    const char16_t face[] = u"Tahoma";
    std::copy(face, face + 7, lf.lfFaceName);
    Font = CreateFontIndirectW(&lf);
    static const char16_t* const words[] = {u"Kontör", u"Tarife", u"Evet", u"Hayır", u"Merkez", u"Şube 4",
                                            u"Yüklendi", u"Açık"};
    Texts.reserve(kRows * kCols);
    for (int r = 0; r < kRows; ++r)
      for (int c = 0; c < kCols; ++c) {
        if (c % 3 == 2)
          Texts.emplace_back(words[(r * 7 + c) % 8]);
        else {
          const std::string n = std::to_string((r * 7919 + c * 104729) % 1000000);
          Texts.emplace_back(n.begin(), n.end());
        }
      }
  }
  ~TGridContent() {
    DeleteObject(Band[0]);
    DeleteObject(Band[1]);
    DeleteObject(Selected);
    DeleteObject(Line);
    DeleteObject(Font);
  }
};

void DrawGridFrame(HDC dc, const TGridContent& g) {
  constexpr int selectedRow = 12;
  // Cell fills: one per row band, the selected row in highlight colour.
  for (int r = 0; r < kRows; ++r) {
    RECT rc{0, r * kRowHeight, kWidth, std::min(kHeight, (r + 1) * kRowHeight)};
    FillRect(dc, &rc, r == selectedRow ? g.Selected : g.Band[r & 1]);
  }
  // Grid lines: the bottom of every row and the right of every column.
  HGDIOBJ oldPen = SelectObject(dc, g.Line);
  for (int r = 1; r <= kRows; ++r) {
    MoveToEx(dc, 0, r * kRowHeight - 1, nullptr);
    LineTo(dc, kWidth, r * kRowHeight - 1);
  }
  for (int c = 1; c <= kCols; ++c) {
    MoveToEx(dc, c * kColWidth - 1, 0, nullptr);
    LineTo(dc, c * kColWidth - 1, kHeight);
  }
  SelectObject(dc, oldPen);
  // Texts: numbers right-aligned and clipped, words through DrawTextW.
  HGDIOBJ oldFont = SelectObject(dc, g.Font);
  SetBkMode(dc, TRANSPARENT);
  for (int r = 0; r < kRows; ++r) {
    SetTextColor(dc, r == selectedRow ? RGB(255, 255, 255) : RGB(0, 0, 0));
    for (int c = 0; c < kCols; ++c) {
      const std::u16string& s = g.Texts[size_t(r) * kCols + c];
      RECT cell{c * kColWidth + 2, r * kRowHeight, (c + 1) * kColWidth - 3, (r + 1) * kRowHeight - 1};
      if (c % 3 == 2) {
        DrawTextW(dc, reinterpret_cast<LPCWSTR>(s.c_str()), int(s.size()), &cell,
                  DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
      } else {
        SetTextAlign(dc, TA_RIGHT | TA_TOP);
        ExtTextOutW(dc, cell.right, cell.top + 1, ETO_CLIPPED, &cell, reinterpret_cast<LPCWSTR>(s.c_str()),
                    UINT(s.size()), nullptr);
        SetTextAlign(dc, TA_LEFT | TA_TOP);
      }
    }
  }
  SelectObject(dc, oldFont);
}

// The plain memory fill of the frame's pixels: the floor of touching every pixel once.
double FillSecondsPerFrame(uint32_t* bits) {
  constexpr int n = 200;
  const double t0 = ThreadCpuSeconds();
  for (int i = 0; i < n; ++i) {
    std::fill(bits, bits + size_t(kWidth) * kHeight, 0x00FFFFFFu - uint32_t(i));
    benchmark::ClobberMemory();
  }
  return (ThreadCpuSeconds() - t0) / n;
}

void BM_PlainFill(benchmark::State& state) {
  TFrame f;
  uint32_t v = 0;
  for (auto _ : state) {
    std::fill(f.Bits, f.Bits + size_t(kWidth) * kHeight, v++);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * kWidth * kHeight * 4);
}
BENCHMARK(BM_PlainFill)->Unit(benchmark::kMillisecond);

void BM_GridFrame(benchmark::State& state) {
  TFrame f;
  TGridContent g;
  DrawGridFrame(f.DC, g);  // warms the glyph cache
  const double fill = FillSecondsPerFrame(f.Bits);
  const double t0 = ThreadCpuSeconds();
  for (auto _ : state) {
    DrawGridFrame(f.DC, g);
    benchmark::ClobberMemory();
  }
  const double perFrame = (ThreadCpuSeconds() - t0) / double(state.iterations());
  state.counters["cpu_ms_per_frame"] = perFrame * 1e3;
  state.counters["fill_ms"] = fill * 1e3;
  state.counters["ratio_to_fill"] = perFrame / fill;
  state.counters["texts"] = double(kRows * kCols);
  state.counters["goal_ms"] = 4.0;
}
BENCHMARK(BM_GridFrame)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
