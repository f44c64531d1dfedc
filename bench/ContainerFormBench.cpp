// A form with 200 library containers (each hosting an edit) and the same
// form with 200 plain edits of the control layer, in one run on the
// headless screen: the time to create and show the form, to repaint it
// whole, and to resize it by one step. Reported: CPU ms of each for both
// forms and the containers' ratio to the plain controls (no floor is set;
// the plain form is the reference measured beside it).
#include <benchmark/benchmark.h>
#include <time.h>

#include <algorithm>
#include <functional>

#include "lib/lookandfeel/vlContainer.h"
#include "platform/backend/Headless.h"
#include "platform/classes/ModuleInit.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/StdCtrls.h"
#include "platform/win/Windows.h"

namespace {

using namespace win;

constexpr int kControls = 200, kColumns = 10;

double ThreadCpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

TRect Place(int i) { return TRect{8 + (i % kColumns) * 124, 8 + (i / kColumns) * 28, 0, 0}; }

TForm* MakeForm(bool ALibrary) {
  TForm* form = NewBy<TForm>(&TForm::CreateNew, static_cast<TComponent*>(nullptr), 0);
  form->SetPosition(poDesigned);
  form->SetBounds(0, 0, 1260, 600);
  for (int i = 0; i < kControls; ++i) {
    const TRect p = Place(i);
    TEdit* edit;
    if (ALibrary) {
      TvlContainer* c = New<TvlContainer>(static_cast<TComponent*>(form));
      c->SetBounds(p.Left, p.Top, 120, 24);
      c->SetParent(form);
      edit = New<TEdit>(static_cast<TComponent*>(c));
      edit->SetBorderStyle(bsNone);
      edit->SetParent(c);
      c->SetInnerControl(edit);
    } else {
      edit = New<TEdit>(static_cast<TComponent*>(form));
      edit->SetBounds(p.Left, p.Top, 120, 24);
      edit->SetParent(form);
    }
    edit->SetCaption(u"12,5 kWh");
  }
  form->Show();
  UpdateWindow(form->Handle());
  Application->ProcessMessages();
  return form;
}

double Measure(const std::function<void()>& AStep) {
  const double t0 = ThreadCpuSeconds();
  AStep();
  return ThreadCpuSeconds() - t0;
}

void BM_ContainerForm(benchmark::State& state) {
  TModulesScope modules;
  backend::THeadlessBackend display(1280, 1024);
  TvlStyleController* fallback = New<TvlStyleController>(nullptr);
  vlSetFallbackStyleController(fallback);
  double best[2][3];
  for (auto& row : best) std::fill(std::begin(row), std::end(row), 1e9);
  for (auto _ : state) {
    for (int lib = 0; lib < 2; ++lib) {
      TForm* form = nullptr;
      best[lib][0] = std::min(best[lib][0], Measure([&] { form = MakeForm(lib == 1); }));
      best[lib][1] = std::min(best[lib][1], Measure([&] {
                                RedrawWindow(form->Handle(), nullptr, nullptr,
                                             RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
                              }));
      best[lib][2] = std::min(best[lib][2], Measure([&] {
                                form->SetWidth(form->Width() + 8);
                                UpdateWindow(form->Handle());
                                Application->ProcessMessages();
                              }));
      Free(form);
      Application->ProcessMessages();
    }
  }
  const char* const names[3] = {"create_show", "repaint", "resize"};
  for (int k = 0; k < 3; ++k) {
    state.counters[std::string("plain_") + names[k] + "_ms"] = best[0][k] * 1e3;
    state.counters[std::string("library_") + names[k] + "_ms"] = best[1][k] * 1e3;
    state.counters[std::string(names[k]) + "_ratio"] = best[1][k] / best[0][k];
  }
  vlSetFallbackStyleController(nullptr);
  Free(fallback);
}
BENCHMARK(BM_ContainerForm)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
