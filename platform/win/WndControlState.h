// The state of the predefined control windows ("LISTBOX", "BUTTON",
// "STATIC"), kept by window handle rather than in window bytes, so that
// superclasses and subclasses of any kind reach it. A control destroyed while
// one of its messages runs (a parent destroying it inside a notification) is
// only marked dead and freed when its outermost message returns.
#pragma once

#include <memory>
#include <unordered_map>

#include "platform/win/Windows.h"

namespace win::wnd {

// T has the fields HWND Wnd, int Depth and bool Dead.
template <class T>
class TControlStates {
 public:
  // A new state for a window being created (WM_NCCREATE).
  T* Make(HWND h) {
    auto s = std::make_unique<T>();
    s->Wnd = h;
    T* p = s.get();
    FStates[h] = std::move(s);
    return p;
  }
  // The live state of a handle (nil once destroyed).
  T* Find(HWND h) const {
    auto it = FStates.find(h);
    return it == FStates.end() || it->second->Dead ? nullptr : it->second.get();
  }

  // Held for the length of one message of the control.
  class TGuard {
   public:
    TGuard(TControlStates& States, T* State) : FOwner(States), FState(State) { ++FState->Depth; }
    ~TGuard() {
      if (--FState->Depth == 0 && FState->Dead) FOwner.FStates.erase(FState->Wnd);
    }
    TGuard(const TGuard&) = delete;
    TGuard& operator=(const TGuard&) = delete;

   private:
    TControlStates& FOwner;
    T* FState;
  };

 private:
  std::unordered_map<HWND, std::unique_ptr<T>> FStates;
};

}  // namespace win::wnd
