// Leaves the window system's input as a test found it: empties the thread's
// queue and lets go of every key a test left held, so that no key state or
// queued message reaches the next test. Header-only: the support library
// does not link the window system.
#pragma once

#include "platform/win/Backend.h"
#include "platform/win/Windows.h"

namespace testing_support {

inline void ReleaseInjectedInput() {
  win::MSG m;
  while (win::PeekMessageW(&m, nullptr, 0, 0, win::PM_REMOVE)) {
  }
  for (int vk = 1; vk < 256; ++vk)
    if (win::GetAsyncKeyState(vk) & 0x8000) win::InjectKey(win::UINT(vk), false);
  while (win::PeekMessageW(&m, nullptr, 0, 0, win::PM_REMOVE)) {
  }
}

}  // namespace testing_support
