// The data controller's engine on 1,000,000 records (an integer, a float, a
// date and a group key column): sorting by a header click and grouping with
// a SUM and a COUNT per group, all groups expanded, each timed beside its
// floor measured in the same iteration: std::sort of record indexes by the
// same keys read from plain arrays (ties by index), plus one pass over the
// sorted keys for grouping.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <random>
#include <vector>

#include "lib/data/vlDataController.h"
#include "platform/rtl/Collation.h"
#include "platform/rtl/Variants.h"

namespace {

constexpr Integer kRecords = 1000000;
constexpr Integer kGroups = 1000;
enum { cInt, cFloat, cDate, cGroup, cText };

using TControllerPtr = std::unique_ptr<TvlCustomDataController, TObjectFree>;

struct TData {
  std::vector<Integer> Ints;
  std::vector<Double> Floats;
  std::vector<Integer> Groups;
  std::vector<String> Texts;
  TControllerPtr DC;
};

TData& Data() {
  static TData D = [] {
    TData R;
    std::mt19937 Rng(20261211);
    R.Ints.resize(kRecords);
    R.Floats.resize(kRecords);
    R.Groups.resize(kRecords);
    R.Texts.resize(kRecords);
    static const Char kLetters[] = u"abcçdefgğhıijklmnoöprsştuüvyzABCÇDEFGĞHIİJKLMNOÖPRSŞTUÜVYZ ";
    const size_t Letters = sizeof(kLetters) / sizeof(Char) - 1;
    R.DC.reset(New<TvlCustomDataController>(nullptr));
    TvlCustomDataController* DC = R.DC.get();
    DC->AddItem(nullptr)->SetValueTypeClass(ClassOf<TvlIntegerValueType>());
    DC->AddItem(nullptr)->SetValueTypeClass(ClassOf<TvlFloatValueType>());
    DC->AddItem(nullptr)->SetValueTypeClass(ClassOf<TvlDateTimeValueType>());
    DC->AddItem(nullptr)->SetValueTypeClass(ClassOf<TvlIntegerValueType>());
    DC->AddItem(nullptr)->SetValueTypeClass(ClassOf<TvlWideStringValueType>());
    DC->BeginUpdate();
    DC->SetRecordCount(kRecords);
    TvlDataStorage* S = DC->DataStorage();
    for (Integer I = 0; I < kRecords; ++I) {
      R.Ints[I] = static_cast<Integer>(Rng() % 2000000000);
      R.Floats[I] = (Rng() % 100000000) / 100.0;
      R.Groups[I] = static_cast<Integer>(Rng() % kGroups);
      S->SetValue(I, DC->GetItemField(cInt)->ValueDef(), R.Ints[I]);
      S->SetValue(I, DC->GetItemField(cFloat)->ValueDef(), R.Floats[I]);
      S->SetValue(I, DC->GetItemField(cDate)->ValueDef(), VarFromDateTime(46000 + Rng() % 4000));
      S->SetValue(I, DC->GetItemField(cGroup)->ValueDef(), R.Groups[I]);
      String T(1 + Rng() % 40, u' ');
      for (Char& Ch : T) Ch = kLetters[Rng() % Letters];
      R.Texts[I] = T;
      S->SetValue(I, DC->GetItemField(cText)->ValueDef(), Variant(T));
    }
    DC->EndUpdate();
    DC->Refresh();
    return R;
  }();
  return D;
}

double Seconds(std::chrono::steady_clock::time_point Start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - Start).count();
}

template <class T>
double SortFloor(const std::vector<T>& Keys) {
  std::vector<Integer> Index(Keys.size());
  for (Integer I = 0; I < static_cast<Integer>(Index.size()); ++I) Index[I] = I;
  auto Start = std::chrono::steady_clock::now();
  const T* K = Keys.data();
  std::sort(Index.begin(), Index.end(), [K](Integer A, Integer B) { return K[A] != K[B] ? K[A] < K[B] : A < B; });
  benchmark::DoNotOptimize(Index.data());
  return Seconds(Start);
}

template <class T>
void RunSort(benchmark::State& State, Integer AItem, const std::vector<T>& Keys) {
  TvlCustomDataController* DC = Data().DC.get();
  double Own = 0, Floor = 0;
  for (auto _ : State) {
    auto Start = std::chrono::steady_clock::now();
    DC->ChangeSorting(AItem, soAscending);
    Own += Seconds(Start);
    State.PauseTiming();
    if (DC->GetRowCount() != kRecords) State.SkipWithError("wrong row count");
    DC->ChangeSorting(AItem, soNone);
    Floor += SortFloor(Keys);
    State.ResumeTiming();
  }
  State.counters["own_ms"] = Own * 1000 / static_cast<double>(State.iterations());
  State.counters["floor_ms"] = Floor * 1000 / static_cast<double>(State.iterations());
  State.counters["ratio_to_floor"] = Own / Floor;
}

void BM_SortInteger(benchmark::State& State) { RunSort(State, cInt, Data().Ints); }
BENCHMARK(BM_SortInteger)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_SortFloat(benchmark::State& State) { RunSort(State, cFloat, Data().Floats); }
BENCHMARK(BM_SortFloat)->Unit(benchmark::kMillisecond)->Iterations(5);

// Text by the Turkish collation (dcoAnsiSort), beside std::sort of the
// indexes by collation keys computed beforehand (outside the floor).
void BM_SortTurkishText(benchmark::State& State) {
  TvlCustomDataController* DC = Data().DC.get();
  std::vector<std::string> Keys(kRecords);
  for (Integer I = 0; I < kRecords; ++I) Keys[I] = AnsiCollationKey(Data().Texts[I], false);
  DC->SetOptions(DC->Options() | dcoAnsiSort);
  RunSort(State, cText, Keys);
  DC->SetOptions(DC->Options() & ~dcoAnsiSort);
}
BENCHMARK(BM_SortTurkishText)->Unit(benchmark::kMillisecond)->Iterations(3);

// Floor of grouping: the sort of the group keys plus one pass that sums the
// float column and counts per group.
double GroupFloor() {
  const std::vector<Integer>& Keys = Data().Groups;
  const std::vector<Double>& Values = Data().Floats;
  std::vector<Integer> Index(Keys.size());
  for (Integer I = 0; I < static_cast<Integer>(Index.size()); ++I) Index[I] = I;
  auto Start = std::chrono::steady_clock::now();
  const Integer* K = Keys.data();
  std::sort(Index.begin(), Index.end(), [K](Integer A, Integer B) { return K[A] != K[B] ? K[A] < K[B] : A < B; });
  std::vector<Double> Sums;
  std::vector<Integer> Counts;
  for (size_t P = 0; P < Index.size(); ++P) {
    if (P == 0 || K[Index[P]] != K[Index[P - 1]]) {
      Sums.push_back(0);
      Counts.push_back(0);
    }
    Sums.back() += Values[Index[P]];
    ++Counts.back();
  }
  benchmark::DoNotOptimize(Sums.data());
  return Seconds(Start);
}

void BM_GroupWithSummaries(benchmark::State& State) {
  TvlCustomDataController* DC = Data().DC.get();
  TvlDataSummaryItems* Items = DC->Summary()->DefaultGroupSummaryItems();
  Items->Add(nullptr, spGroup, skSum)->SetDataFieldLink(DC->GetItemField(cFloat));  // the items have no objects
  Items->Add(nullptr, spGroup, skCount);
  DC->SetOptions(DC->Options() | dcoGroupsAlwaysExpanded);
  double Own = 0, Floor = 0;
  for (auto _ : State) {
    auto Start = std::chrono::steady_clock::now();
    DC->ChangeGrouping(cGroup, 0);
    Own += Seconds(Start);
    State.PauseTiming();
    if (DC->GetRowCount() != kRecords + kGroups) State.SkipWithError("wrong row count");
    DC->ChangeGrouping(cGroup, -1);
    Floor += GroupFloor();
    State.ResumeTiming();
  }
  Items->Clear();
  State.counters["own_ms"] = Own * 1000 / static_cast<double>(State.iterations());
  State.counters["floor_ms"] = Floor * 1000 / static_cast<double>(State.iterations());
  State.counters["ratio_to_floor"] = Own / Floor;
}
BENCHMARK(BM_GroupWithSummaries)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
