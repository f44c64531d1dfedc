// Matching a text typed character by character against regular-expression
// masks: "(a|a)*" (every character reaches the same state twice), "(ab|a)*b"
// and the format controller's date mask (a date typed again and again, the
// automaton reset when a character no longer fits). Beside it, the floor in
// the same run: a plain scan of the same text (one comparison a character).
// Reported for 1,000 and 10,000 characters: thread CPU microseconds of both
// (best of five rounds), the ratio of the two text lengths' times (linear:
// about 10), and the largest state set met (bounded by the mask's size).
#include <benchmark/benchmark.h>
#include <time.h>

#include <algorithm>

#include "lib/editors/vlDateUtils.h"
#include "lib/editors/vlRegExpr.h"
#include "platform/classes/ModuleInit.h"

namespace {

double ThreadCpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

String Repeat(const String& AUnit, size_t ALength) {
  String result;
  while (result.size() < ALength) result += AUnit;
  result.resize(ALength);
  return result;
}

struct Run {
  double Seconds = 1e9;
  Integer LargestSet = 0;
};

// Types AText into AExpr from the start; a refused character restarts it.
Run Type(TvlRegExpr* AExpr, const String& AText) {
  Run best;
  for (int round = 0; round < 5; ++round) {
    Integer largest = 0;
    const double start = ThreadCpuSeconds();
    AExpr->Reset();
    for (Char c : AText) {
      Char token = c;
      if (!AExpr->Next(token)) {
        AExpr->Reset();
        token = c;
        AExpr->Next(token);
      }
      largest = std::max(largest, AExpr->Automat()->CurrentStates()->Count());
    }
    benchmark::DoNotOptimize(AExpr->IsFinal());
    best.Seconds = std::min(best.Seconds, ThreadCpuSeconds() - start);
    best.LargestSet = largest;
  }
  return best;
}

double Scan(const String& AText) {
  double best = 1e9;
  for (int round = 0; round < 5; ++round) {
    const double start = ThreadCpuSeconds();
    size_t count = 0;
    for (Char c : AText) {
      benchmark::DoNotOptimize(c);
      count += c == u'a';
    }
    benchmark::DoNotOptimize(count);
    best = std::min(best, ThreadCpuSeconds() - start);
  }
  return best;
}

void Measure(benchmark::State& state, String (*AMask)(), const String& AUnit) {
  TModulesScope modules;
  TvlRegExpr* expr = New<TvlRegExpr>();
  expr->Compile(AMask());
  for (auto _ : state) {
    const String small = Repeat(AUnit, 1000), large = Repeat(AUnit, 10000);
    const Run a = Type(expr, small), b = Type(expr, large);
    state.counters["us_1000"] = a.Seconds * 1e6;
    state.counters["us_10000"] = b.Seconds * 1e6;
    state.counters["ratio_10000_to_1000"] = b.Seconds / a.Seconds;
    state.counters["scan_us_1000"] = Scan(small) * 1e6;
    state.counters["scan_us_10000"] = Scan(large) * 1e6;
    state.counters["largest_set"] = std::max(a.LargestSet, b.LargestSet);
  }
  Free(expr);
}

void BM_MaskAmbiguousStar(benchmark::State& state) {
  Measure(state, [] { return String(u"(a|a)*"); }, u"a");
}
void BM_MaskAlternativeStar(benchmark::State& state) {
  Measure(state, [] { return String(u"(ab|a)*b"); }, u"ab");
}
// The Turkish locale's date: day, ".", month, ".", year, or a smart word.
void BM_MaskDate(benchmark::State& state) {
  Measure(state, [] { return vlFormatController()->RegExprDateEditMask(); }, u"12.02.2011");
}

}  // namespace

BENCHMARK(BM_MaskAmbiguousStar)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MaskAlternativeStar)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MaskDate)->Iterations(1)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
