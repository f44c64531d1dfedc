// Floors of the data benchmarks: the same work in plain arrays by linear
// algorithms (no comparison sort where a linear one exists, nothing of the
// project's own code), timed by the wall clock.
#pragma once

#include <sched.h>

#include <algorithm>
#include <time.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace floors {

// The clock of the data benchmarks: the calling thread's CPU time (the
// machine is shared with parallel builds, whose load stretches wall time),
// or the wall clock while UseWallClock is set (work spread over threads).
inline bool UseWallClock = false;
struct Clock {
  using duration = std::chrono::nanoseconds;
  using rep = duration::rep;
  using period = duration::period;
  using time_point = std::chrono::time_point<Clock>;
  static constexpr bool is_steady = true;
  static time_point now() {
    if (UseWallClock)
      return time_point(std::chrono::duration_cast<duration>(std::chrono::steady_clock::now().time_since_epoch()));
    timespec T;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &T);
    return time_point(duration(static_cast<rep>(T.tv_sec) * 1000000000 + T.tv_nsec));
  }
};

inline double SecondsSince(Clock::time_point AStart) {
  return std::chrono::duration<double>(Clock::now() - AStart).count();
}

// An order-preserving unsigned image of a key.
inline uint64_t Ordered(int64_t V) { return static_cast<uint64_t>(V) ^ (uint64_t(1) << 63); }
inline uint64_t Ordered(int32_t V) { return Ordered(static_cast<int64_t>(V)); }
inline uint64_t Ordered(double V) {
  uint64_t B;
  std::memcpy(&B, &V, sizeof B);
  return (B >> 63) ? ~B : B | (uint64_t(1) << 63);
}

// LSD radix sort, 8 bits a pass, of 64-bit words by their bits [ALowBit,
// AHighBit); passes whose digit is the same in every word are skipped.
inline void RadixSort(std::vector<uint64_t>& A, std::vector<uint64_t>& Tmp, int ALowBit, int AHighBit) {
  Tmp.resize(A.size());
  for (int Shift = ALowBit; Shift < AHighBit; Shift += 8) {
    size_t Count[257] = {};
    for (uint64_t V : A) ++Count[((V >> Shift) & 0xFF) + 1];
    bool Trivial = false;
    for (int D = 1; D <= 256; ++D)
      if (Count[D] == A.size()) Trivial = true;
    if (Trivial) continue;
    for (int D = 1; D <= 256; ++D) Count[D] += Count[D - 1];
    for (uint64_t V : A) Tmp[Count[(V >> Shift) & 0xFF]++] = V;
    A.swap(Tmp);
  }
}

// Record indexes in the order of their keys, ties by index: an LSD radix
// sort of (key, record index) pairs. Keys are packed with the index into one
// 64-bit word when their spread fits 32 bits (as the integer and date
// columns do), else sorted as two words (index first, then the key, both
// stable).
// Scratch arrays of the floors, kept between calls: a floor measures the
// work on memory already in use (the engine keeps its buffers too), not the
// system's clearing of fresh pages.
inline std::vector<uint64_t>& ScratchA() {
  static std::vector<uint64_t> V;
  return V;
}
inline std::vector<uint64_t>& ScratchB() {
  static std::vector<uint64_t> V;
  return V;
}
inline std::vector<uint32_t>& ScratchC() {
  static std::vector<uint32_t> V;
  return V;
}
inline std::vector<uint32_t>& ScratchD() {
  static std::vector<uint32_t> V;
  return V;
}

struct TPair {
  uint64_t Key;
  uint32_t Index;
};
inline std::vector<TPair>& ScratchPairs(int AWhich) {
  static std::vector<TPair> V[2];
  return V[AWhich];
}

// Makes the scratch arrays and AOrder hold N entries, touched, before a
// timed floor starts.
inline void WarmScratch(size_t N, std::vector<uint32_t>& AOrder) {
  ScratchPairs(0).assign(N, TPair{});
  ScratchPairs(1).assign(N, TPair{});
  ScratchA().assign(N, 0);
  ScratchB().assign(N, 0);
  ScratchC().assign(N, 0);
  ScratchD().assign(N, 0);
  AOrder.assign(N, 0);
}

template <class T>
double RadixSortPairs(const std::vector<T>& AKeys, std::vector<uint32_t>& AOrder) {
  WarmScratch(AKeys.size(), AOrder);
  const auto Start = Clock::now();
  const size_t N = AKeys.size();
  uint64_t Min = UINT64_MAX, Max = 0;
  for (const T& K : AKeys) {
    const uint64_t O = Ordered(K);
    Min = O < Min ? O : Min;
    Max = O > Max ? O : Max;
  }
  std::vector<uint64_t>& A = ScratchA();
  std::vector<uint64_t>& Tmp = ScratchB();
  if (Max - Min <= UINT32_MAX) {
    for (size_t I = 0; I < N; ++I) A[I] = ((Ordered(AKeys[I]) - Min) << 32) | I;
    int High = 32;
    while (High < 64 && ((Max - Min) >> (High - 32)) != 0) High += 8;
    RadixSort(A, Tmp, 32, High);
    for (size_t I = 0; I < N; ++I) AOrder[I] = static_cast<uint32_t>(A[I]);
  } else {
    // (key, index) pairs of 16 bytes, sorted by the key's digits, 8 bits a
    // pass; the pairs start in index order, so ties stay in it.
    std::vector<TPair>& P = ScratchPairs(0);
    std::vector<TPair>& PTmp = ScratchPairs(1);
    for (size_t I = 0; I < N; ++I) P[I] = {Ordered(AKeys[I]) - Min, static_cast<uint32_t>(I)};
    for (int Shift = 0; Shift < 64 && ((Max - Min) >> Shift) != 0; Shift += 8) {
      size_t Count[257] = {};
      for (const TPair& X : P) ++Count[((X.Key >> Shift) & 0xFF) + 1];
      bool Trivial = false;
      for (int D = 1; D <= 256; ++D)
        if (Count[D] == N) Trivial = true;
      if (Trivial) continue;
      for (int D = 1; D <= 256; ++D) Count[D] += Count[D - 1];
      for (const TPair& X : P) PTmp[Count[(X.Key >> Shift) & 0xFF]++] = X;
      P.swap(PTmp);
    }
    for (size_t I = 0; I < N; ++I) AOrder[I] = P[I].Index;
  }
  return SecondsSince(Start);
}

// The distinct keys in order: a radix sort of the raw keys and one pass
// that keeps the first of each run.
template <class T>
double RadixSortUnique(const std::vector<T>& AKeys, size_t& ADistinct) {
  std::vector<uint32_t> Unused;
  WarmScratch(AKeys.size(), Unused);
  const auto Start = Clock::now();
  std::vector<uint64_t>& A = ScratchA();
  std::vector<uint64_t>& Tmp = ScratchB();
  for (size_t I = 0; I < AKeys.size(); ++I) A[I] = Ordered(AKeys[I]);
  RadixSort(A, Tmp, 0, 64);
  size_t D = 0;
  for (size_t I = 0; I < A.size(); ++I)
    if (I == 0 || A[I] != A[I - 1]) A[D++] = A[I];
  ADistinct = D;
  return SecondsSince(Start);
}

// The distinct keys in order when their spread is narrow (under 16 a key,
// as a column of codes or of 100,000 values in a million records): a bitmap
// of the keys present read out word by word; no sort is needed there, so a
// sort and unique is no floor for such keys. Returns a negative time when
// the spread is wide.
template <class T>
double BitmapUnique(const std::vector<T>& AKeys, size_t& ADistinct) {
  std::vector<uint32_t> Unused;
  WarmScratch(AKeys.size(), Unused);
  const auto Start = Clock::now();
  uint64_t Min = UINT64_MAX, Max = 0;
  for (const T& K : AKeys) {
    const uint64_t O = Ordered(K);
    Min = O < Min ? O : Min;
    Max = O > Max ? O : Max;
  }
  if (AKeys.empty() || (Max - Min) / 16 >= AKeys.size()) return -1;
  // The bitmap takes the second scratch array (warm, of one word a key).
  std::vector<uint64_t>& Bits = ScratchB();
  const size_t Words = static_cast<size_t>((Max - Min) / 64) + 1;
  std::fill(Bits.begin(), Bits.begin() + static_cast<std::ptrdiff_t>(Words), 0);
  for (const T& K : AKeys) {
    const uint64_t D = Ordered(K) - Min;
    Bits[D >> 6] |= uint64_t(1) << (D & 63);
  }
  std::vector<uint64_t>& A = ScratchA();
  size_t D = 0;
  for (size_t W = 0; W < Words; ++W)
    for (uint64_t B = Bits[W]; B != 0; B &= B - 1)
      A[D++] = Min + W * 64 + static_cast<uint64_t>(__builtin_ctzll(B));
  ADistinct = D;
  return SecondsSince(Start);
}

// Grouping: a counting sort of the record indexes by a key of 0..AGroups-1
// and one pass that sums a value and counts per group.
inline double CountingSortAndSums(const std::vector<int32_t>& AKeys, const std::vector<double>& AValues,
                                  int32_t AGroups, std::vector<double>& ASums, std::vector<int32_t>& ACounts) {
  std::vector<uint32_t> Unused;
  WarmScratch(AKeys.size(), Unused);
  const auto Start = Clock::now();
  std::vector<uint32_t> Offset(static_cast<size_t>(AGroups) + 1, 0);
  std::vector<uint32_t>& Order = ScratchC();
  for (int32_t K : AKeys) ++Offset[static_cast<size_t>(K) + 1];
  for (int32_t G = 0; G < AGroups; ++G) Offset[G + 1] += Offset[G];
  std::vector<uint32_t> Next(Offset.begin(), Offset.end() - 1);
  for (size_t I = 0; I < AKeys.size(); ++I) Order[Next[AKeys[I]]++] = static_cast<uint32_t>(I);
  ASums.assign(AGroups, 0);
  ACounts.assign(AGroups, 0);
  for (int32_t G = 0; G < AGroups; ++G)
    for (uint32_t P = Offset[G]; P < Offset[G + 1]; ++P) {
      ASums[G] += AValues[Order[P]];
      ++ACounts[G];
    }
  return SecondsSince(Start);
}

// The cores the process may run on (its affinity mask).
inline int AffinityCores() {
  cpu_set_t Set;
  if (sched_getaffinity(0, sizeof Set, &Set) != 0) return 1;
  return CPU_COUNT(&Set);
}

// Runs AWork with the process bound to one core of its affinity (so code
// that takes its thread count from the affinity runs one thread), then
// restores the mask.
template <class F>
void OnOneCore(F&& AWork) {
  cpu_set_t Saved, One;
  sched_getaffinity(0, sizeof Saved, &Saved);
  CPU_ZERO(&One);
  for (int C = 0; C < CPU_SETSIZE; ++C)
    if (CPU_ISSET(C, &Saved)) {
      CPU_SET(C, &One);
      break;
    }
  sched_setaffinity(0, sizeof One, &One);
  AWork();
  sched_setaffinity(0, sizeof Saved, &Saved);
}

}  // namespace floors
