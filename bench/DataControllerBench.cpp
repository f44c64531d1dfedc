// The data controller's engine on 1,000,000 records (an integer, a float, a
// date, a group key and a Turkish text column): sorting by a header click,
// grouping with a SUM and a COUNT per group, all groups expanded, and a
// filter typed one keystroke at a time, each timed beside its floor
// measured in the same iteration, in thread CPU time (LinearFloors.h): an LSD radix sort of
// (key, record index) pairs read from plain arrays for the number sorts, a
// counting sort of the group keys plus one pass of sums for grouping, a
// starts-with test over a plain array of the texts for a keystroke. Each
// figure is taken both through the engine (the info object) and through the
// controller's own entry point. Every timed sort starts from storage order.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <memory>
#include <random>
#include <vector>

#include "bench/LinearFloors.h"
#include "lib/data/vlDataController.h"
#include "platform/rtl/Collation.h"
#include "platform/rtl/Strings.h"
#include "platform/rtl/Variants.h"

namespace {

constexpr Integer kRecords = 1000000;
constexpr Integer kGroups = 1000;
constexpr Integer kDistinct = 100000;
enum { cInt, cFloat, cDate, cGroup, cText, cDistinct };

using TControllerPtr = std::unique_ptr<TvlCustomDataController, TObjectFree>;

struct TData {
  std::vector<Integer> Ints;
  std::vector<Double> Floats;
  std::vector<Double> Dates;
  std::vector<Integer> Groups;
  std::vector<String> Texts;
  std::vector<Integer> Distinct;  // 100,000 distinct values
  TControllerPtr DC;
};

TData& Data() {
  static TData D = [] {
    TData R;
    std::mt19937 Rng(20261211);
    R.Ints.resize(kRecords);
    R.Floats.resize(kRecords);
    R.Dates.resize(kRecords);
    R.Groups.resize(kRecords);
    R.Texts.resize(kRecords);
    R.Distinct.resize(kRecords);
    static const Char kLetters[] = u"abcçdefgğhıijklmnoöprsştuüvyzABCÇDEFGĞHIİJKLMNOÖPRSŞTUÜVYZ ";
    const size_t Letters = sizeof(kLetters) / sizeof(Char) - 1;
    R.DC.reset(New<TvlCustomDataController>(nullptr));
    TvlCustomDataController* DC = R.DC.get();
    DC->AddItem(nullptr)->SetValueTypeClass(ClassOf<TvlIntegerValueType>());
    DC->AddItem(nullptr)->SetValueTypeClass(ClassOf<TvlFloatValueType>());
    DC->AddItem(nullptr)->SetValueTypeClass(ClassOf<TvlDateTimeValueType>());
    DC->AddItem(nullptr)->SetValueTypeClass(ClassOf<TvlIntegerValueType>());
    DC->AddItem(nullptr)->SetValueTypeClass(ClassOf<TvlWideStringValueType>());
    DC->AddItem(nullptr)->SetValueTypeClass(ClassOf<TvlIntegerValueType>());
    DC->BeginUpdate();
    DC->SetRecordCount(kRecords);
    TvlDataStorage* S = DC->DataStorage();
    for (Integer I = 0; I < kRecords; ++I) {
      R.Ints[I] = static_cast<Integer>(Rng() % 2000000000);
      R.Floats[I] = (Rng() % 100000000) / 100.0;
      R.Groups[I] = static_cast<Integer>(Rng() % kGroups);
      S->SetValue(I, DC->GetItemField(cInt)->ValueDef(), R.Ints[I]);
      S->SetValue(I, DC->GetItemField(cFloat)->ValueDef(), R.Floats[I]);
      // Dates with a time of day, to the second.
      R.Dates[I] = 46000 + (Rng() % (4000 * 86400)) / 86400.0;
      S->SetValue(I, DC->GetItemField(cDate)->ValueDef(), VarFromDateTime(R.Dates[I]));
      S->SetValue(I, DC->GetItemField(cGroup)->ValueDef(), R.Groups[I]);
      String T(1 + Rng() % 40, u' ');
      for (Char& Ch : T) Ch = kLetters[Rng() % Letters];
      R.Texts[I] = T;
      S->SetValue(I, DC->GetItemField(cText)->ValueDef(), Variant(T));
      const Integer X = I < kDistinct ? I : static_cast<Integer>(Rng() % kDistinct);
      R.Distinct[I] = X * 7 % 1000003;
      S->SetValue(I, DC->GetItemField(cDistinct)->ValueDef(), R.Distinct[I]);
    }
    DC->EndUpdate();
    DC->Refresh();
    return R;
  }();
  return D;
}

double Seconds(floors::Clock::time_point Start) {
  return std::chrono::duration<double>(floors::Clock::now() - Start).count();
}

// The floor of a number sort: an LSD radix sort of (key, record index) pairs.
template <class T>
double SortFloor(const std::vector<T>& Keys) {
  std::vector<uint32_t> Order;
  const double S = floors::RadixSortPairs(Keys, Order);
  benchmark::DoNotOptimize(Order.data());
  return S;
}

// The floor of a text sort by collation keys: std::sort of the indexes by
// the keys computed beforehand (variable-length keys; the comparison sort
// is what the engine does with its kept keys too).
double TextSortFloor(const std::vector<std::string>& Keys) {
  std::vector<Integer> Index(Keys.size());
  for (Integer I = 0; I < static_cast<Integer>(Index.size()); ++I) Index[I] = I;
  auto Start = floors::Clock::now();
  const std::string* K = Keys.data();
  std::sort(Index.begin(), Index.end(), [K](Integer A, Integer B) {
    const int C = K[A].compare(K[B]);
    return C != 0 ? C < 0 : A < B;
  });
  benchmark::DoNotOptimize(Index.data());
  return Seconds(Start);
}

void Report(benchmark::State& State, double AEngine, double AOwn, double AFloor) {
  const double N = static_cast<double>(State.iterations());
  State.counters["engine_ms"] = AEngine * 1000 / N;
  State.counters["own_ms"] = AOwn * 1000 / N;
  State.counters["floor_ms"] = AFloor * 1000 / N;
  State.counters["ratio_to_floor"] = AOwn / AFloor;
  State.counters["entry_to_engine"] = AOwn / AEngine;
}

// Each iteration times AEngine (the engine's own entry) and AEntry (the
// controller's), in turns first, each after ABefore and followed by AUndo
// (both untimed, the row count checked), then adds AFloor's seconds. The
// first operation of a case makes the engine's arrays (keys, orders, groups,
// summaries) from fresh memory: it is done once through the controller's
// entry before the turns and reported apart (`first_ms`), so that neither
// entry's figure carries it alone.
void RunInTurns(benchmark::State& State, Integer ARows, const std::function<void()>& AEngine,
                const std::function<void()>& AEntry, const std::function<void()>& AUndo,
                const std::function<double()>& AFloor, const std::function<void()>& ABefore = [] {}) {
  TvlCustomDataController* DC = Data().DC.get();
  double Engine = 0, Own = 0, Floor = 0;
  Integer Turn = 0;
  auto TimeOne = [&](Boolean AController) {
    State.PauseTiming();
    ABefore();
    State.ResumeTiming();
    auto Start = floors::Clock::now();
    (AController ? AEntry : AEngine)();
    (AController ? Own : Engine) += Seconds(Start);
    State.PauseTiming();
    if (DC->GetRowCount() != ARows) State.SkipWithError("wrong row count");
    AUndo();
    State.ResumeTiming();
  };
  {
    ABefore();
    auto Start = floors::Clock::now();
    AEntry();
    State.counters["first_ms"] = Seconds(Start) * 1000;
    if (DC->GetRowCount() != ARows) State.SkipWithError("wrong row count");
    AUndo();
  }
  for (auto _ : State) {
    const Boolean ControllerFirst = Turn++ % 2;
    TimeOne(ControllerFirst);
    TimeOne(!ControllerFirst);
    State.PauseTiming();
    Floor += AFloor();
    State.ResumeTiming();
  }
  Report(State, Engine, Own, Floor);
}

// Undoes a sort or a grouping and brings the rows back to storage order
// (removing the sorting alone leaves them in the sorted order), so that
// every timed sort starts from the order the floor starts from.
void Unsort(const std::function<void()>& AUndo) {
  AUndo();
  Data().DC->Refresh();
}

// The engine's own sort (the info's ChangeSorting of the field) and a
// header click (the controller's ChangeSorting of the item), both from
// unsorted. With ACold the kept collation keys are dropped before each.
void RunSort(benchmark::State& State, Integer AItem, const std::function<double()>& AFloor, Boolean ACold = false) {
  TvlCustomDataController* DC = Data().DC.get();
  TvlCustomDataField* Field = DC->GetItemField(AItem);
  RunInTurns(
      State, kRecords, [&] { DC->DataControllerInfo()->ChangeSorting(Field, soAscending); },
      [&] { DC->ChangeSorting(AItem, soAscending); }, [&] { Unsort([&] { DC->ChangeSorting(AItem, soNone); }); },
      AFloor,
      [&] {
        if (ACold) DC->DataStorage()->DropValueCaches();
      });
}

void BM_SortInteger(benchmark::State& State) {
  RunSort(State, cInt, [] { return SortFloor(Data().Ints); });
}
BENCHMARK(BM_SortInteger)->Unit(benchmark::kMillisecond)->Iterations(6);

void BM_SortFloat(benchmark::State& State) {
  RunSort(State, cFloat, [] { return SortFloor(Data().Floats); });
}
BENCHMARK(BM_SortFloat)->Unit(benchmark::kMillisecond)->Iterations(6);

void BM_SortDate(benchmark::State& State) {
  RunSort(State, cDate, [] { return SortFloor(Data().Dates); });
}
BENCHMARK(BM_SortDate)->Unit(benchmark::kMillisecond)->Iterations(6);

// Text by the Turkish collation (dcoAnsiSort), beside std::sort of the
// indexes by collation keys computed beforehand (outside the floor). Cold:
// the first sort of the column, its keys computed in the click. Warm: the
// keys kept by the storage from an earlier sort (a second click, or a sort
// after editing a few values).
void RunTurkishSort(benchmark::State& State, Boolean ACold) {
  TvlCustomDataController* DC = Data().DC.get();
  std::vector<std::string> Keys(kRecords);
  for (Integer I = 0; I < kRecords; ++I) Keys[I] = AnsiCollationKey(Data().Texts[I], false);
  DC->SetOptions(DC->Options() + dcoAnsiSort);
  DC->ChangeSorting(cText, soAscending);
  DC->ChangeSorting(cText, soNone);
  RunSort(State, cText, [&] { return TextSortFloor(Keys); }, ACold);
  DC->SetOptions(DC->Options() - dcoAnsiSort);
  State.counters["threads"] = ACold ? static_cast<double>(std::min(floors::AffinityCores(), 8)) : 1;
}

// The keys of a cold sort are built by as many threads as the process may
// use (up to eight); the same on one core beside it.
void BM_SortTurkishTextCold(benchmark::State& State) {
  floors::UseWallClock = true;  // the keys are built by several threads
  RunTurkishSort(State, true);
  floors::UseWallClock = false;
}
BENCHMARK(BM_SortTurkishTextCold)->Unit(benchmark::kMillisecond)->Iterations(4);

void BM_SortTurkishTextColdOneThread(benchmark::State& State) {
  floors::OnOneCore([&] { RunTurkishSort(State, true); });
  State.counters["threads"] = 1;
}
BENCHMARK(BM_SortTurkishTextColdOneThread)->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_SortTurkishTextWarm(benchmark::State& State) { RunTurkishSort(State, false); }
BENCHMARK(BM_SortTurkishTextWarm)->Unit(benchmark::kMillisecond)->Iterations(10);

// Floor of grouping: a counting sort of the group keys plus one pass that
// sums the float column and counts per group.
double GroupFloor() {
  std::vector<double> Sums;
  std::vector<int32_t> Counts;
  const double S = floors::CountingSortAndSums(Data().Groups, Data().Floats, kGroups, Sums, Counts);
  benchmark::DoNotOptimize(Sums.data());
  return S;
}

// The engine's grouping (the info's ChangeGrouping of the field) and the
// controller's (ChangeGrouping of the item), each from ungrouped.
void BM_GroupWithSummaries(benchmark::State& State) {
  TvlCustomDataController* DC = Data().DC.get();
  TvlDataSummaryItems* Items = DC->Summary()->DefaultGroupSummaryItems();
  Items->Add(nullptr, spGroup, skSum)->SetDataFieldLink(DC->GetItemField(cFloat));  // the items have no objects
  Items->Add(nullptr, spGroup, skCount);
  DC->SetOptions(DC->Options() + dcoGroupsAlwaysExpanded);
  RunInTurns(
      State, kRecords + kGroups, [&] { DC->DataControllerInfo()->ChangeGrouping(DC->GetItemField(cGroup), 0); },
      [&] { DC->ChangeGrouping(cGroup, 0); }, [&] { Unsort([&] { DC->ChangeGrouping(cGroup, -1); }); },
      GroupFloor);
  Items->Clear();
  DC->SetOptions(DC->Options() - dcoGroupsAlwaysExpanded);
}
BENCHMARK(BM_GroupWithSummaries)->Unit(benchmark::kMillisecond)->Iterations(4);

// The value list of a column's filter drop-down: 100,000 distinct integers
// over 1,000,000 records, loaded as the drop-down loads it (the special
// entries, then the distinct values with their texts), beside a radix sort
// and unique of the same raw keys (goals: under 100 ms, within 3 times);
// beside it the bitmap of the keys present (`bitmap_floor_ms`), the linear
// way for keys of a narrow range such as these, which the list takes too.
// The list keeps its arrays between loads, as the floor keeps its scratch:
// the first load of a new list (its arrays fresh from the system) is
// reported apart (`first_ms`), the figure is that of the loads after it (a
// drop-down opened again).
void BM_FilterValueList(benchmark::State& State) {
  TvlCustomDataController* DC = Data().DC.get();
  TvlDataFilterValueList* L = DC->Filter()->CreateValueList();
  auto First = floors::Clock::now();
  L->Load(cDistinct, false, false);
  State.counters["first_ms"] = Seconds(First) * 1000;
  double Own = 0, Floor = 0, Bitmap = 0;
  for (auto _ : State) {
    auto Start = floors::Clock::now();
    L->Load(cDistinct, false, false);
    Own += Seconds(Start);
    State.PauseTiming();
    if (L->Count() != kDistinct + 2) State.SkipWithError("wrong count");
    size_t Distinct = 0;
    Floor += floors::RadixSortUnique(Data().Distinct, Distinct);
    if (Distinct != static_cast<size_t>(kDistinct)) State.SkipWithError("wrong floor count");
    Distinct = 0;
    const double Bits = floors::BitmapUnique(Data().Distinct, Distinct);
    if (Bits < 0 || Distinct != static_cast<size_t>(kDistinct))
      State.SkipWithError("wrong bitmap floor count");
    Bitmap += Bits;
    State.ResumeTiming();
  }
  const double N = static_cast<double>(State.iterations());
  State.counters["own_ms"] = Own * 1000 / N;
  State.counters["floor_ms"] = Floor * 1000 / N;
  State.counters["ratio_to_floor"] = Own / Floor;
  State.counters["bitmap_floor_ms"] = Bitmap * 1000 / N;
  State.counters["ratio_to_bitmap_floor"] = Own / Bitmap;
  Free(L);
}
BENCHMARK(BM_FilterValueList)->Unit(benchmark::kMillisecond)->Iterations(5);

// A filter typed as a user types it in the filter row of the text column:
// each keystroke sets the column's condition to LIKE 'typed text%' (a
// starts-with condition, as the grid's immediate filtering sets it). The
// controller's figure is the criteria change itself (the controller
// refilters when it fires); the engine's is the same change made while the
// controller is locked, timing only the unlock that refilters. The floor
// of a keystroke: a starts-with test of every text in a plain array.
void SetTypedFilter(TvlCustomDataController* DC, const String& ATyped) {
  TvlDataFilterCriteria* F = DC->Filter();
  F->BeginUpdate();
  F->RemoveItemByItemLink(DC->GetItemField(cText));
  if (!ATyped.empty()) F->AddItem(nullptr, DC->GetItemField(cText), foLike, Variant(ATyped + u"%"), ATyped);
  F->SetActive(true);
  F->EndUpdate();
}

// With AFold the typed text is upper-cased by the locale and the texts are
// taken upper-cased beforehand (outside the floor), as the criteria's case
// folding compares them.
double TypedFloor(const String& ATyped, Boolean AFold, Integer& AMatches) {
  static const std::vector<String> Upper = [] {
    std::vector<String> R;
    for (const String& T : Data().Texts) R.push_back(AnsiUpperCase(T));
    return R;
  }();
  const std::vector<String>& Texts = AFold ? Upper : Data().Texts;
  const String Typed = AFold ? AnsiUpperCase(ATyped) : ATyped;
  auto Start = floors::Clock::now();
  AMatches = 0;
  for (const String& T : Texts)
    if (T.size() >= Typed.size() && T.compare(0, Typed.size(), Typed) == 0) ++AMatches;
  benchmark::DoNotOptimize(AMatches);
  return Seconds(Start);
}

void RunTypedFilter(benchmark::State& State, TvlFilterCriteriaOptions AOptions) {
  TvlCustomDataController* DC = Data().DC.get();
  DC->Filter()->SetOptions(AOptions);
  // Typed words: the first six letters of a few records' texts.
  std::vector<String> Words;
  for (Integer R : {17, 4242, 777777})
    if (Data().Texts[R].size() >= 6) Words.push_back(Data().Texts[R].substr(0, 6));
  double Engine = 0, Own = 0, Floor = 0, WorstOwn = 0, CaseSensitive = 0;
  Integer Keystrokes = 0;
  for (auto _ : State) {
    for (const String& W : Words) {
      for (size_t L = 1; L <= W.size(); ++L) {
        const String Typed = W.substr(0, L);
        State.PauseTiming();
        SetTypedFilter(DC, Typed.substr(0, L - 1));
        DC->BeginUpdate();
        State.ResumeTiming();
        SetTypedFilter(DC, Typed);
        auto Start = floors::Clock::now();
        DC->EndUpdate();
        Engine += Seconds(Start);
        State.PauseTiming();
        SetTypedFilter(DC, Typed.substr(0, L - 1));
        State.ResumeTiming();
        Start = floors::Clock::now();
        SetTypedFilter(DC, Typed);
        const double Key = Seconds(Start);
        Own += Key;
        WorstOwn = std::max(WorstOwn, Key);
        State.PauseTiming();
        // With case folding, the same keystroke without it in the same run:
        // the goal is a ratio of 1.5.
        if (AOptions.Contains(fcoCaseInsensitive)) {
          SetTypedFilter(DC, Typed.substr(0, L - 1));
          DC->Filter()->SetOptions(TvlFilterCriteriaOptions());
          auto Plain = floors::Clock::now();
          SetTypedFilter(DC, Typed);
          CaseSensitive += Seconds(Plain);
          DC->Filter()->SetOptions(AOptions);
        }
        Integer Matches;
        Floor += TypedFloor(Typed, AOptions.Contains(fcoCaseInsensitive), Matches);
        if (DC->GetRowCount() != Matches) State.SkipWithError("wrong row count");
        ++Keystrokes;
        State.ResumeTiming();
      }
      State.PauseTiming();
      SetTypedFilter(DC, String());
      State.ResumeTiming();
    }
  }
  DC->Filter()->Clear();
  DC->Filter()->SetActive(false);
  DC->Filter()->SetOptions(TvlFilterCriteriaOptions());
  const double N = static_cast<double>(Keystrokes);
  State.counters["keystrokes"] = N;
  State.counters["engine_ms"] = Engine * 1000 / N;
  State.counters["own_ms"] = Own * 1000 / N;
  State.counters["worst_ms"] = WorstOwn * 1000;
  State.counters["floor_ms"] = Floor * 1000 / N;
  State.counters["ratio_to_floor"] = Own / Floor;
  State.counters["entry_to_engine"] = Own / Engine;
  if (CaseSensitive > 0) {
    State.counters["case_sensitive_ms"] = CaseSensitive * 1000 / N;
    State.counters["ratio_to_case_sensitive"] = Own / CaseSensitive;
  }
}
void BM_TypedFilter(benchmark::State& State) { RunTypedFilter(State, TvlFilterCriteriaOptions()); }
BENCHMARK(BM_TypedFilter)->Unit(benchmark::kMillisecond)->Iterations(1);

// The same with the criteria's case folding (fcoCaseInsensitive).
void BM_TypedFilterIgnoringCase(benchmark::State& State) {
  RunTypedFilter(State, TvlFilterCriteriaOptions{fcoCaseInsensitive});
}
BENCHMARK(BM_TypedFilterIgnoringCase)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
