// The data controller's filter: (1) the value list of a column of 1,000,000
// records with 100,000 distinct values, beside a radix sort and unique of
// the same raw keys (the floor), and (2) a criteria of five conditions (one
// LIKE) evaluated over 1,000,000 records, per record.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <random>
#include <vector>

#include "bench/LinearFloors.h"
#include "lib/data/vlFilter.h"
#include "lib/foundation/vlVariants.h"
#include "platform/rtl/Conversions.h"
#include "platform/rtl/Variants.h"

namespace {

constexpr Integer kRecords = 1000000;
constexpr Integer kDistinct = 100000;

using TRecord = std::vector<Variant>;

// Items are column indexes; a record is a row of variants.
class TBenchItem : public TvlFilterCriteriaItem {
  CL_CLASS(TBenchItem, TvlFilterCriteriaItem)
 public:
  Variant GetRecordValue(Pointer AData) override {
    return (*static_cast<const TRecord*>(AData))[reinterpret_cast<intptr_t>(StoredItemLink()) - 1];
  }
};

class TBenchCriteria : public TvlFilterCriteria {
  CL_CLASS(TBenchCriteria, TvlFilterCriteria)
 public:
  TvlFilterCriteriaItemClass CriteriaItemClass() override { return ClassOf<TBenchItem>(); }
};

// A value list filled the way a column's list is loaded.
class TBenchValueList : public TvlFilterValueList {
  CL_CLASS(TBenchValueList, TvlFilterValueList)
 public:
  void Load(std::vector<TvlFilterValueItem>& AValues) {
    Clear();
    Add(fviAll, Null(), u"(All)", false);
    Add(fviCustom, Null(), u"(Custom...)", false);
    AddValues(AValues);
  }
};

CL_IMPLEMENT_CLASS(TBenchItem)
CL_IMPLEMENT_CLASS(TBenchCriteria)
CL_IMPLEMENT_CLASS(TBenchValueList)

TObject* Column(intptr_t I) { return reinterpret_cast<TObject*>(I + 1); }

const std::vector<TvlFilterValueItem>& ColumnValues() {
  static const std::vector<TvlFilterValueItem> Values = [] {
    std::mt19937 Rng(20261210);
    std::vector<TvlFilterValueItem> V(kRecords);
    for (Integer I = 0; I < kRecords; ++I) {
      Integer X = I < kDistinct ? I : static_cast<Integer>(Rng() % kDistinct);
      V[I] = TvlFilterValueItem{fviValue, Variant(X * 7 % 1000003), IntToStr(X)};
    }
    std::shuffle(V.begin(), V.end(), Rng);
    return V;
  }();
  return Values;
}

// The raw keys of the column's values.
const std::vector<int32_t>& RawKeys() {
  static const std::vector<int32_t> Keys = [] {
    std::vector<int32_t> K;
    for (const TvlFilterValueItem& I : ColumnValues()) K.push_back(I.Value.AsInteger());
    return K;
  }();
  return Keys;
}

// The floor: a radix sort of the same raw keys and one pass of unique;
// with ABitmap the bitmap of the keys present, the linear way for keys of a
// narrow range such as these (the list takes it too).
double FloorSeconds(bool ABitmap = false) {
  size_t Distinct = 0;
  const double S =
      ABitmap ? floors::BitmapUnique(RawKeys(), Distinct) : floors::RadixSortUnique(RawKeys(), Distinct);
  benchmark::DoNotOptimize(Distinct);
  return Distinct == static_cast<size_t>(kDistinct) ? S : -1;
}

// The list keeps its arrays between loads (as the floor keeps its
// scratch): the first load of a new list is reported apart (`first_ms`).
void BM_ValueList(benchmark::State& State) {
  TBenchCriteria* C = New<TBenchCriteria>();
  TBenchValueList* L = New<TBenchValueList>(static_cast<TvlFilterCriteria*>(C));
  {
    std::vector<TvlFilterValueItem> Values = ColumnValues();
    auto Start = floors::Clock::now();
    L->Load(Values);
    State.counters["first_ms"] = std::chrono::duration<double>(floors::Clock::now() - Start).count() * 1000;
  }
  double Own = 0, Floor = 0, Bitmap = 0;
  for (auto _ : State) {
    State.PauseTiming();
    std::vector<TvlFilterValueItem> Values = ColumnValues();
    State.ResumeTiming();
    auto Start = floors::Clock::now();
    L->Load(Values);
    Own += std::chrono::duration<double>(floors::Clock::now() - Start).count();
    State.PauseTiming();
    if (L->Count() != kDistinct + 2) State.SkipWithError("wrong count");
    const double Sorted = FloorSeconds(), Bits = FloorSeconds(true);
    if (Sorted < 0 || Bits < 0) State.SkipWithError("wrong floor count");
    Floor += Sorted;
    Bitmap += Bits;
    State.ResumeTiming();
  }
  State.counters["own_ms"] = Own * 1000 / static_cast<double>(State.iterations());
  State.counters["floor_ms"] = Floor * 1000 / static_cast<double>(State.iterations());
  State.counters["ratio_to_floor"] = Own / Floor;
  State.counters["bitmap_floor_ms"] = Bitmap * 1000 / static_cast<double>(State.iterations());
  State.counters["ratio_to_bitmap_floor"] = Own / Bitmap;
  Free(L);
  Free(C);
}
BENCHMARK(BM_ValueList)->Unit(benchmark::kMillisecond);

void BM_FilterEvaluation(benchmark::State& State) {
  std::mt19937 Rng(7);
  std::vector<TRecord> Records(kRecords);
  for (TRecord& R : Records) {
    String Text(12, u'a');
    for (Char& Ch : Text) Ch = static_cast<Char>(u'a' + Rng() % 26);
    R = {Variant(static_cast<Integer>(Rng() % 1000)), Variant(Text), Variant((Rng() % 100000) / 100.0),
         VarFromDateTime(46000 + Rng() % 400), Variant(static_cast<Integer>(Rng() % 10))};
  }
  TBenchCriteria* C = New<TBenchCriteria>();
  C->AddItem(nullptr, Column(0), foGreater, Variant(100), u"");
  C->AddItem(nullptr, Column(1), foLike, Variant(String(u"%ab%")), u"");
  C->AddItem(nullptr, Column(2), foLess, Variant(500.5), u"");
  C->AddItem(nullptr, Column(3), foBetween, VarArrayOf({VarFromDateTime(46100), VarFromDateTime(46300)}), u"");
  C->AddItem(nullptr, Column(4), foInList, VarArrayOf({Variant(1), Variant(3), Variant(5)}), u"");
  C->Root()->SetBoolOperatorKind(fboOr);
  for (auto _ : State) {
    Integer Passed = 0;
    for (TRecord& R : Records) Passed += C->MatchRecord(&R) ? 1 : 0;
    benchmark::DoNotOptimize(Passed);
  }
  State.counters["per_record"] = benchmark::Counter(static_cast<double>(State.iterations()) * kRecords,
                                                    benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  Free(C);
}
BENCHMARK(BM_FilterEvaluation)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
