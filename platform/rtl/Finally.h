// try/finally as a scope guard: the cleanup runs when the scope ends, whether
// it ends normally or by an exception.
//
//   Canvas->Lock();
//   Finally unlock([&] { Canvas->Unlock(); });
//
// An exception raised by the cleanup goes on when the scope ended normally. When
// the scope is being left by another exception, the cleanup's exception is
// dropped so that the first one goes on (C++ would otherwise terminate).
#pragma once

#include <exception>
#include <utility>

template <class F>
class [[nodiscard]] Finally {
 public:
  explicit Finally(F Cleanup) : FCleanup(std::move(Cleanup)), FUncaught(std::uncaught_exceptions()) {}
  Finally(const Finally&) = delete;
  Finally& operator=(const Finally&) = delete;
  ~Finally() noexcept(false) {
    if (std::uncaught_exceptions() > FUncaught) {
      try {
        FCleanup();
      } catch (...) {
      }
    } else {
      FCleanup();
    }
  }

 private:
  F FCleanup;
  int FUncaught;
};

template <class F>
Finally(F) -> Finally<F>;
