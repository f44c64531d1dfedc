// The LIKE matcher of the filter: "%a%b%c%" against 1,000,000 texts of 40
// characters; the time reported is per text.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "lib/data/vlLike.h"

namespace {

std::vector<String> MakeTexts() {
  std::mt19937 Rng(20261210);
  std::vector<String> Texts(1000000);
  for (String& T : Texts) {
    T.resize(40);
    for (Char& C : T) C = static_cast<Char>(u'a' + Rng() % 26);
  }
  return Texts;
}

void BM_LikeManyWildcards(benchmark::State& State) {
  static const std::vector<String> Texts = MakeTexts();
  const String Pattern = u"%a%b%c%";
  for (auto _ : State) {
    Integer Matches = 0;
    for (const String& T : Texts) Matches += vlMatchesLike(T, Pattern, u'%', u'_') ? 1 : 0;
    benchmark::DoNotOptimize(Matches);
  }
  State.SetItemsProcessed(State.iterations() * static_cast<int64_t>(Texts.size()));
  State.counters["per_text"] = benchmark::Counter(static_cast<double>(State.iterations() * Texts.size()),
                                                  benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_LikeManyWildcards)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
