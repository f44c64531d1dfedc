// The text editor on the headless screen, each figure beside its floor in
// the same run (thread CPU time, best of the rounds):
// - BM_TypeAtTheEnd: 1,000 characters typed one key at a time at the end of
//   an editor already holding 10,000 characters, every key injected and
//   pumped through the real message path (key down, character, key up; the
//   inner edit, the editor's key handling, the change pipeline). Floor: the
//   same characters appended to a plain string whose width is measured again
//   after each (GetTextExtentPoint32W with the editor's font). Reported: µs
//   per key of both and their ratio; goal: a key under 1 ms.
// - BM_IncrementalSearch: an editor with 100,000 lookup items; a prefix
//   typed by real keys that only the last items carry, so the search walks
//   the whole list each key. Floor: a plain prefix scan of the same items
//   (ASCII case folded) for the same prefixes. Reported: ms per key of both
//   and their ratio.
#include <benchmark/benchmark.h>
#include <time.h>

#include <algorithm>

#include "lib/editors/vlTextEdit.h"
#include "platform/backend/Headless.h"
#include "platform/classes/ModuleInit.h"
#include "platform/classes/StringLists.h"
#include "platform/rtl/Conversions.h"
#include "platform/vcl/Forms.h"
#include "platform/win/Windows.h"

namespace {

using namespace win;

constexpr int kInitialLength = 10000, kTypedKeys = 1000, kItems = 100000;

double ThreadCpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

struct TScreen {
  TModulesScope Modules;
  backend::THeadlessBackend Display{1280, 1024};
  TForm* Form{};
  TvlTextEdit* Edit{};

  TScreen() {
    Form = NewBy<TForm>(&TForm::CreateNew, static_cast<TComponent*>(nullptr), 0);
    Form->SetPosition(poDesigned);
    Form->SetBounds(0, 0, 600, 200);
    Edit = New<TvlTextEdit>(static_cast<TComponent*>(Form));
    Edit->SetBounds(10, 10, 500, 21);
    Edit->SetParent(Form);
    Form->Show();
    Pump();
    const TPoint p = Edit->ClientToScreen(TPoint{50, 10});
    Display.Click(p.X, p.Y);
    Pump();
  }
  ~TScreen() {
    Free(Form);
    Pump();
  }
  void Pump() { Application->ProcessMessages(); }
};

void BM_TypeAtTheEnd(benchmark::State& state) {
  TScreen screen;
  const String initial(size_t(kInitialLength), u'a');
  const String typed = u"0123456789";
  // The floor's canvas: a screen DC with the editor's font.
  HDC dc = GetDC(nullptr);
  HGDIOBJ oldFont = SelectObject(dc, screen.Edit->InnerEdit()->GetControl()->Font()->Handle());
  double best = 1e9, bestFloor = 1e9;
  for (auto _ : state) {
    screen.Edit->SetTextProp(initial);
    screen.Display.KeyPress(VK_END);
    screen.Pump();
    double t0 = ThreadCpuSeconds();
    for (int i = 0; i < kTypedKeys; ++i) {
      screen.Display.TypeText(typed.substr(size_t(i % 10), 1));
      screen.Pump();
    }
    best = std::min(best, ThreadCpuSeconds() - t0);
    if (Integer(screen.Edit->Text().size()) != kInitialLength + kTypedKeys) state.SkipWithError("keys were lost");

    String plain = initial;
    SIZE size{};
    Integer widths = 0;
    t0 = ThreadCpuSeconds();
    for (int i = 0; i < kTypedKeys; ++i) {
      plain.push_back(typed[size_t(i % 10)]);
      GetTextExtentPoint32W(dc, plain.c_str(), Integer(plain.size()), &size);
      widths += size.cx > 0;
    }
    bestFloor = std::min(bestFloor, ThreadCpuSeconds() - t0);
    benchmark::DoNotOptimize(widths);
  }
  SelectObject(dc, oldFont);
  ReleaseDC(nullptr, dc);
  state.counters["key_us"] = best / kTypedKeys * 1e6;
  state.counters["floor_key_us"] = bestFloor / kTypedKeys * 1e6;
  state.counters["ratio"] = best / bestFloor;
}
BENCHMARK(BM_TypeAtTheEnd)->Unit(benchmark::kMillisecond)->Iterations(3);

Char Fold(Char C) { return C >= u'a' && C <= u'z' ? Char(C - 32) : C; }

void BM_IncrementalSearch(benchmark::State& state) {
  TScreen screen;
  TStringList* items = New<TStringList>();
  for (int i = 0; i < kItems; ++i) items->Add(u"Item " + IntToStr(i));
  items->Add(u"Zulu");  // the only item the prefixes find, at the end
  screen.Edit->Properties()->SetLookupItems(items);
  Free(items);
  std::vector<String> plainItems;
  for (int i = 0; i < kItems; ++i) plainItems.push_back(u"Item " + IntToStr(i));
  plainItems.push_back(u"Zulu");
  const String prefix = u"zulu";
  double best = 1e9, bestFloor = 1e9;
  for (auto _ : state) {
    screen.Edit->SetTextProp(String());
    screen.Pump();
    double t0 = ThreadCpuSeconds();
    for (Char c : prefix) {
      screen.Display.TypeText(String(1, c));
      screen.Pump();
    }
    best = std::min(best, ThreadCpuSeconds() - t0);
    if (screen.Edit->Text() != u"zulu") state.SkipWithError("the search did not complete the text");

    Integer found = -1;
    t0 = ThreadCpuSeconds();
    for (size_t n = 1; n <= prefix.size(); ++n) {
      found = -1;
      for (size_t i = 0; i < plainItems.size() && found < 0; ++i) {
        const String& item = plainItems[i];
        if (item.size() < n) continue;
        size_t k = 0;
        while (k < n && Fold(item[k]) == Fold(prefix[k])) ++k;
        if (k == n) found = Integer(i);
      }
    }
    bestFloor = std::min(bestFloor, ThreadCpuSeconds() - t0);
    benchmark::DoNotOptimize(found);
  }
  state.counters["key_ms"] = best / double(prefix.size()) * 1e3;
  state.counters["floor_key_ms"] = bestFloor / double(prefix.size()) * 1e3;
  state.counters["ratio"] = best / bestFloor;
}
BENCHMARK(BM_IncrementalSearch)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
