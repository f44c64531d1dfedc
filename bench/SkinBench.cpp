// The built-in skin: reading it from the program's resources (as start-up
// does), and drawing 1,000 buttons of mixed sizes and states through its
// "Button" element, beside the same 1,000 buttons drawn by the standard
// painter in the same run (the floor). Reported: CPU ms per load, CPU ms per
// 1,000 buttons and the ratio to the standard painter.
#include <benchmark/benchmark.h>
#include <time.h>

#include <memory>

#include "lib/foundation/vlImages.h"
#include "lib/lookandfeel/nbSkinInfo.h"
#include "lib/lookandfeel/vlLookAndFeelPainters.h"
#include "platform/classes/ModuleInit.h"
#include "platform/classes/Resources.h"

namespace {

constexpr int kButtons = 1000;
constexpr int kColumns = 20;

double ThreadCpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

TnbSkin* LoadSkin() { return New<TnbSkin>(String(u"DefaultUserSkinData"), static_cast<void*>(HInstance), true); }

struct TScene {
  TModulesScope Modules;
  std::unique_ptr<TBitmap, TObjectFree> Surface;
  std::unique_ptr<TvlCanvas, TObjectFree> Canvas;
  std::unique_ptr<TnbSkinInfo, TObjectFree> Info;
  TScene() {
    Surface.reset(vlNewBitmap32(kColumns * 100, (kButtons / kColumns) * 32, true));
    Canvas.reset(New<TvlCanvas>(Surface->Canvas()));
    Info.reset(New<TnbSkinInfo>(LoadSkin()));
  }
  // Mixed sizes: 40 to 99 pixels wide, 18 to 31 high.
  static TRect Button(int i) {
    const int x = (i % kColumns) * 100, y = (i / kColumns) * 32;
    return Rect(x, y, x + 40 + (i * 37) % 60, y + 18 + (i * 11) % 14);
  }
  static TvlButtonState State(int i) { return TvlButtonState(1 + i % 4); }
};

TScene& Scene() {
  static TScene scene;
  return scene;
}

double StandardButtons() {
  TScene& s = Scene();
  const TvlCustomLookAndFeelPainterClass painter = ClassOf<TvlStandardLookAndFeelPainter>();
  const double t0 = ThreadCpuSeconds();
  for (int i = 0; i < kButtons; ++i) painter->DrawButton(s.Canvas.get(), TScene::Button(i), u"", TScene::State(i));
  return ThreadCpuSeconds() - t0;
}

double SkinnedButtons() {
  TScene& s = Scene();
  static const TnbSkinElementState states[5] = {esActive, esNormal, esHot, esPressed, esDisabled};
  TnbSkinElement* button = s.Info->ButtonElements;
  const win::HDC dc = s.Surface->Canvas()->Handle();
  const double t0 = ThreadCpuSeconds();
  for (int i = 0; i < kButtons; ++i) button->Draw(dc, TScene::Button(i), 0, states[TScene::State(i)]);
  return ThreadCpuSeconds() - t0;
}

void BM_LoadBuiltInSkin(benchmark::State& state) {
  Scene();
  double total = 0;
  for (auto _ : state) {
    const double t0 = ThreadCpuSeconds();
    TnbSkin* skin = LoadSkin();
    total += ThreadCpuSeconds() - t0;
    Free(skin);
  }
  state.counters["ms_per_load"] = total / double(state.iterations()) * 1000;
}
BENCHMARK(BM_LoadBuiltInSkin)->Unit(benchmark::kMillisecond);

void BM_StandardPainterButtons(benchmark::State& state) {
  double total = 0;
  for (auto _ : state) total += StandardButtons();
  state.counters["ms_per_1000"] = total / double(state.iterations()) * 1000;
}
BENCHMARK(BM_StandardPainterButtons)->Unit(benchmark::kMillisecond);

void BM_SkinnedButtons(benchmark::State& state) {
  double total = 0, floor = 0;
  for (auto _ : state) {
    floor += StandardButtons();  // the floor, measured beside every round
    total += SkinnedButtons();
  }
  state.counters["ms_per_1000"] = total / double(state.iterations()) * 1000;
  state.counters["standard_ms"] = floor / double(state.iterations()) * 1000;
  state.counters["ratio_to_standard"] = total / floor;
}
BENCHMARK(BM_SkinnedButtons)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
