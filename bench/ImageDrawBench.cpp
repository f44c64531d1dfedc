// 10,000 16 x 16 glyphs with alpha drawn through vlDrawImageEx, in normal and
// in disabled mode, beside 10,000 plain AlphaBlend calls of the same glyph
// into the same 32-bit memory DC (the floor). Reported: CPU ms per 10,000
// glyphs and the ratio to the plain blend, all measured in the same run.
#include <benchmark/benchmark.h>
#include <time.h>

#include <cmath>
#include <memory>

#include "lib/foundation/vlImages.h"
#include "platform/classes/ModuleInit.h"
#include "platform/win/Gdi.h"

namespace {

using namespace win;

constexpr int kGlyphs = 10000;
constexpr int kColumns = 100;  // glyphs laid out on a 1600 x 1600 surface

double ThreadCpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

struct TScene {
  TModulesScope Modules;
  std::unique_ptr<TBitmap, TObjectFree> Surface;
  std::unique_ptr<TBitmap, TObjectFree> Glyph;
  TScene() {
    Surface.reset(vlNewBitmap32(16 * kColumns, 16 * (kGlyphs / kColumns), true));
    Surface->Canvas()->Brush()->SetColor(TColor(0xF0F0F0));
    Surface->Canvas()->FillRect(Rect(0, 0, Surface->Width(), Surface->Height()));
    Glyph.reset(vlNewBitmap32(16, 16, true));
    for (int y = 0; y < 16; ++y) {
      Cardinal* row = static_cast<Cardinal*>(Glyph->ScanLine(y));
      for (int x = 0; x < 16; ++x) {
        const double d = std::hypot(x - 7.5, y - 7.5);
        const Cardinal a = d < 5.5 ? 255 : d > 7.8 ? 0 : Cardinal((7.8 - d) / 2.3 * 255);
        row[x] = a << 24 | (0xC0 * a / 255) << 16 | (0x40 * a / 255) << 8 | (0x20 * a / 255);
      }
    }
  }
  TRect Cell(int i) const {
    const int x = (i % kColumns) * 16, y = (i / kColumns) * 16;
    return Rect(x, y, x + 16, y + 16);
  }
};

TScene& Scene() {
  static TScene scene;
  return scene;
}

double PlainBlend() {
  TScene& s = Scene();
  HDC dst = s.Surface->Canvas()->Handle(), src = s.Glyph->Canvas()->Handle();
  const BLENDFUNCTION bf{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  const double t0 = ThreadCpuSeconds();
  for (int i = 0; i < kGlyphs; ++i) {
    const TRect r = s.Cell(i);
    AlphaBlend(dst, r.Left, r.Top, 16, 16, src, 0, 0, 16, 16, bf);
  }
  return ThreadCpuSeconds() - t0;
}

double LibraryDraw(TvlImageDrawMode AMode) {
  TScene& s = Scene();
  HDC dst = s.Surface->Canvas()->Handle();
  const double t0 = ThreadCpuSeconds();
  for (int i = 0; i < kGlyphs; ++i) {
    const TRect r = s.Cell(i);
    vlDrawImageEx(dst, r, r, s.Glyph.get(), nullptr, -1, AMode);
  }
  return ThreadCpuSeconds() - t0;
}

void BM_PlainAlphaBlend(benchmark::State& state) {
  double total = 0;
  for (auto _ : state) total += PlainBlend();
  state.counters["ms_per_10000"] = total / double(state.iterations()) * 1000;
}
BENCHMARK(BM_PlainAlphaBlend)->Unit(benchmark::kMillisecond);

void Library(benchmark::State& state, TvlImageDrawMode AMode) {
  double total = 0, floor = 0;
  for (auto _ : state) {
    floor += PlainBlend();  // the floor, measured beside every round
    total += LibraryDraw(AMode);
  }
  state.counters["ms_per_10000"] = total / double(state.iterations()) * 1000;
  state.counters["plain_ms"] = floor / double(state.iterations()) * 1000;
  state.counters["ratio_to_plain"] = total / floor;
}
void BM_DrawImageNormal(benchmark::State& state) { Library(state, idmNormal); }
void BM_DrawImageDisabled(benchmark::State& state) { Library(state, idmDisabled); }
BENCHMARK(BM_DrawImageNormal)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DrawImageDisabled)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
