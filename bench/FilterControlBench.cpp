// The filter builder with 500 conditions in nested groups (groups of 10
// under OR groups of 5; also 2,000, to show the growth is linear) on the
// headless screen, scrolled to its end: laying out and painting everything,
// and removing one condition (the rows below move up and the top row is
// fitted back). The floor, in the same run: the same number of plain text
// rows measured and drawn on a bitmap.
// Reported: thread CPU ms of each (the best of the rounds) and the ratios.
#include <benchmark/benchmark.h>
#include <time.h>

#include <algorithm>
#include <vector>

#include "lib/data/vlValueTypes.h"
#include "lib/editors/vlFilterControl.h"
#include "lib/foundation/vlGraphics.h"
#include "lib/foundation/vlVariants.h"
#include "platform/backend/Headless.h"
#include "platform/classes/ModuleInit.h"
#include "platform/rtl/Conversions.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/Graphics.h"

namespace {

constexpr int kPerGroup = 10;
constexpr int kGroupsPerOr = 5;

double ThreadCpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

class TBenchSource : public TComponent, public IvlFilterControl {
  CL_CLASS(TBenchSource, TComponent)
 public:
  TObject* Links[2]{};
  TvlFilterCriteria* Criteria{};
  void Create(TComponent* AOwner) override {
    inherited::Create(AOwner);
    for (TObject*& L : Links) L = New<TObject>();
  }
  void Destroy() override {
    for (TObject* L : Links) Free(L);
    inherited::Destroy();
  }
  void ItemCaption(Integer AIndex, String& ACaption) override { ACaption = AIndex == 0 ? u"Sayaç" : u"Kontör"; }
  Integer ItemCount() override { return 2; }
  TvlFilterCriteria* FilterCriteria() override { return Criteria; }
  TObject* ItemLink(Integer AIndex) override { return Links[AIndex]; }
  Integer ItemLinkID(Integer AIndex) override { return AIndex; }
  void ItemLinkName(Integer AIndex, String& AName) override { ItemCaption(AIndex, AName); }
  void ItemFieldName(Integer AIndex, String& AName) override { ItemCaption(AIndex, AName); }
  TvlCustomEditProperties* ItemProperties(Integer) override { return nullptr; }
  TvlValueTypeClass ItemValueType(Integer AIndex) override {
    return AIndex == 0 ? TvlValueTypeClass(ClassOf<TvlStringValueType>()) : ClassOf<TvlIntegerValueType>();
  }
};
CL_IMPLEMENT_CLASS(TBenchSource)

void Fill(TvlFilterCriteria* C, TObject* const* ALinks, int AConditions) {
  C->BeginUpdate();
  C->Clear();
  TvlFilterCriteriaItemList* Or = nullptr;
  TvlFilterCriteriaItemList* Group = nullptr;
  for (int i = 0; i < AConditions; ++i) {
    if (i % (kPerGroup * kGroupsPerOr) == 0) Or = C->Root()->AddItemList(fboOr);
    if (i % kPerGroup == 0) Group = Or->AddItemList(fboAnd);
    if (i % 2 == 0)
      C->AddItem(Group, ALinks[0], foLike, Variant(u"a" + IntToStr(i) + u"%"), u"a" + IntToStr(i) + u"%");
    else
      C->AddItem(Group, ALinks[1], foBetween, vlMakeVariantPair(i, i + 10), IntToStr(i) + u";" + IntToStr(i + 10));
  }
  C->EndUpdate();
}

void BM_FilterBuilderLayout(benchmark::State& state) {
  TModulesScope modules;
  backend::THeadlessBackend display(1280, 1024);
  TForm* form = NewBy<TForm>(&TForm::CreateNew, static_cast<TComponent*>(nullptr), 0);
  form->SetBounds(100, 100, 700, 500);
  form->Show();
  TBenchSource* source = New<TBenchSource>(static_cast<TComponent*>(form));
  TvlFilterControl* builder = New<TvlFilterControl>(static_cast<TComponent*>(form));
  builder->SetBounds(0, 0, 680, 480);
  builder->SetParent(form);
  source->Criteria = builder->Criteria();
  Fill(builder->Criteria(), source->Links, int(state.range(0)));
  builder->LinkTo(source);
  Application->ProcessMessages();
  std::vector<String> texts;
  for (Integer i = 0; i < builder->RowCount(); ++i) texts.push_back(u"Sayaç like a" + IntToStr(i) + u"% and more");
  TBitmap* bitmap = New<TBitmap>();
  bitmap->SetPixelFormat(pf32bit);
  bitmap->SetSize(680, 480);

  double bestLayout = 1e9, bestRemove = 1e9, bestFloor = 1e9;
  for (auto _ : state) {
    state.PauseTiming();
    Fill(builder->Criteria(), source->Links, int(state.range(0)));
    builder->UpdateFilter();
    builder->SetTopVisibleRow(builder->RowCount());
    Application->ProcessMessages();
    state.ResumeTiming();

    double t0 = ThreadCpuSeconds();
    builder->LayoutChanged();
    builder->Repaint();
    bestLayout = std::min(bestLayout, ThreadCpuSeconds() - t0);

    builder->FocusRow(builder->Rows(builder->RowCount() / 2));
    t0 = ThreadCpuSeconds();
    builder->RemoveRow();
    builder->Repaint();
    bestRemove = std::min(bestRemove, ThreadCpuSeconds() - t0);

    t0 = ThreadCpuSeconds();
    TCanvas* c = bitmap->Canvas();
    c->Font()->Assign(builder->Font());
    Integer y = 0, w = 0;
    for (const String& s : texts) {
      w = std::max(w, c->TextWidth(s));
      c->TextOut(4, y % 480, s);
      y += 20;
    }
    benchmark::DoNotOptimize(w);
    bestFloor = std::min(bestFloor, ThreadCpuSeconds() - t0);
  }
  state.counters["layout_paint_ms"] = bestLayout * 1e3;
  state.counters["remove_one_ms"] = bestRemove * 1e3;
  state.counters["text_rows_ms"] = bestFloor * 1e3;
  state.counters["layout_ratio"] = bestLayout / bestFloor;
  state.counters["remove_ratio"] = bestRemove / bestFloor;
  Free(bitmap);
  Free(form);
}
BENCHMARK(BM_FilterBuilderLayout)->Arg(500)->Arg(2000)->Iterations(5)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
