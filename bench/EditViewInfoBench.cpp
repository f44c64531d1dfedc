// 10,000 text cells of 100 x 20 pixels (short Turkish texts, one properties
// object) laid out and painted through an editor's view data and view info,
// as a grid paints its cells: one view data for the cell style, one view
// info filled per cell (bounds, state, border, colours, no buttons) and
// painted (background and text). The floor, in the same run: the same texts
// drawn into the same rectangles with the canvas's plain text call
// (TvlCanvas::DrawTexT), single line, vertically centred. Reported: thread
// CPU ms per 10,000 cells of both (the best of ten interleaved rounds), the
// ratio (goal: within 1.5), and the heap allocations per cell once warm of
// both (goal: 0), counted by the replaced operator new of this program.
#include <benchmark/benchmark.h>
#include <time.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <new>

#include "lib/editors/vlEditProperties.h"
#include "lib/editors/vlEditStyles.h"
#include "lib/editors/vlEditViewInfo.h"
#include "lib/foundation/vlGraphics.h"
#include "platform/classes/ModuleInit.h"
#include "platform/vcl/Graphics.h"

namespace {

std::atomic<long> gAllocations{0};

}  // namespace

void* operator new(std::size_t ASize) {
  ++gAllocations;
  if (void* p = std::malloc(ASize ? ASize : 1)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t ASize) {
  ++gAllocations;
  if (void* p = std::malloc(ASize ? ASize : 1)) return p;
  throw std::bad_alloc();
}
void operator delete(void* P) noexcept { std::free(P); }
void operator delete[](void* P) noexcept { std::free(P); }
void operator delete(void* P, std::size_t) noexcept { std::free(P); }
void operator delete[](void* P, std::size_t) noexcept { std::free(P); }

namespace {

constexpr int kCells = 10000, kCellWidth = 100, kCellHeight = 20, kColumns = 10;
constexpr int kTextFlags = vlSingleLine | vlAlignVCenter | vlAlignLeft;

const char16_t* const kTexts[] = {u"Kontör",      u"Sayaç No",   u"Fatura",   u"Yükleme",    u"Çalışıyor",
                                  u"Tarife 1",    u"Kredi",      u"Alarm",    u"Ödeme",      u"Şebeke",
                                  u"Ğüşiöç",      u"İptal",      u"Tamam",    u"Kart okundu", u"Hata (3)"};
constexpr int kTextCount = int(sizeof(kTexts) / sizeof(kTexts[0]));

double ThreadCpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

TRect CellRect(int I) {
  const int row = (I / kColumns) % 40, col = I % kColumns;
  return TRect{col * kCellWidth, row * kCellHeight, (col + 1) * kCellWidth, (row + 1) * kCellHeight};
}

// What a text editor's view info adds: the text, drawn after the background.
class TBenchTextViewInfo : public TvlCustomEditViewInfo {
  CL_CLASS(TBenchTextViewInfo, TvlCustomEditViewInfo)
 public:
  void DoPaint(TvlCanvas* ACanvas) override {
    inherited::DoPaint(ACanvas);
    ACanvas->Font()->SetColor(TextColor);
    ACanvas->DrawTexT(Text, ClientRect, kTextFlags);
  }
  String Text;
};
CL_IMPLEMENT_CLASS(TBenchTextViewInfo)

class TBenchTextViewData : public TvlCustomEditViewData {
  CL_CLASS(TBenchTextViewData, TvlCustomEditViewData)
 public:
  void EditValueToDrawValue(TvlCanvas*, const Variant&, TvlCustomEditViewInfo*) override {}
};
CL_IMPLEMENT_CLASS(TBenchTextViewData)

class TBenchTextProperties : public TvlCustomEditProperties {
  CL_CLASS(TBenchTextProperties, TvlCustomEditProperties)
 public:
  TvlCustomEditViewDataClass EditViewDataClass() const override { return ClassOf<TBenchTextViewData>(); }
  TvlCustomEditViewInfoClass GetViewInfoClass() const override { return ClassOf<TBenchTextViewInfo>(); }
};
CL_IMPLEMENT_CLASS(TBenchTextProperties)

void PaintCells(TvlCustomEditViewData* AData, TBenchTextViewInfo* AInfo, TvlCanvas* ACanvas) {
  for (int i = 0; i < kCells; ++i) {
    AInfo->Text = kTexts[i % kTextCount];  // reuses the string's capacity once warm
    AData->CalculateEx(ACanvas, CellRect(i), TPoint{-1, -1}, vlmbNone, TShiftState{}, AInfo, false);
    AInfo->PaintEx(ACanvas);
  }
}

void PaintPlainly(TvlCanvas* ACanvas, const String* ATexts) {
  for (int i = 0; i < kCells; ++i) {
    const TRect r = CellRect(i);
    ACanvas->DrawTexT(ATexts[i % kTextCount], TRect{r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1}, kTextFlags);
  }
}

void BM_EditTextCells(benchmark::State& state) {
  TModulesScope modules;
  TBitmap* bitmap = New<TBitmap>();
  bitmap->SetPixelFormat(pf32bit);
  bitmap->SetSize(kColumns * kCellWidth, 40 * kCellHeight);
  TvlCanvas* canvas = New<TvlCanvas>(bitmap->Canvas());
  TFont* font = New<TFont>();
  font->SetName(u"Tahoma");
  font->SetSize(8);
  canvas->SetFont(font);

  // The cell style: a parameter block, as a grid gives its cells.
  TvlEditStyle* style = New<TvlEditStyle>(static_cast<TPersistent*>(nullptr), true);
  TvlViewParams params{};
  params.Color = clWindow;
  params.Font = font;
  params.TextColor = clWindowText;
  style->Init(params);
  TBenchTextProperties* props = New<TBenchTextProperties>(static_cast<TPersistent*>(nullptr));
  TvlCustomEditViewData* data = props->CreateViewData(style, true);
  data->ContentOffset = TRect{1, 1, 1, 1};
  TBenchTextViewInfo* info = static_cast<TBenchTextViewInfo*>(CreateFrom(props->GetViewInfoClass()));
  String texts[kTextCount];
  for (int i = 0; i < kTextCount; ++i) texts[i] = kTexts[i];

  PaintCells(data, info, canvas);  // warm: glyph cache, brushes, string capacity
  PaintPlainly(canvas, texts);

  double bestCells = 1e9, bestPlain = 1e9;
  long cellAllocations = 0, plainAllocations = 0;
  for (auto _ : state) {
    const long before = gAllocations.load();
    double t0 = ThreadCpuSeconds();
    PaintCells(data, info, canvas);
    bestCells = std::min(bestCells, ThreadCpuSeconds() - t0);
    cellAllocations = std::max(cellAllocations, gAllocations.load() - before);
    const long beforePlain = gAllocations.load();
    t0 = ThreadCpuSeconds();
    PaintPlainly(canvas, texts);
    bestPlain = std::min(bestPlain, ThreadCpuSeconds() - t0);
    plainAllocations = std::max(plainAllocations, gAllocations.load() - beforePlain);
    benchmark::ClobberMemory();
  }
  state.counters["cells_ms"] = bestCells * 1e3;
  state.counters["plain_text_ms"] = bestPlain * 1e3;
  state.counters["ratio"] = bestCells / bestPlain;
  state.counters["allocs_per_cell"] = double(cellAllocations) / kCells;
  state.counters["plain_allocs_per_cell"] = double(plainAllocations) / kCells;

  Free(info);
  Free(data);
  Free(props);
  Free(style);
  Free(font);
  Free(canvas);
  Free(bitmap);
}
BENCHMARK(BM_EditTextCells)->Iterations(10)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
