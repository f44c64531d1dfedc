// A fixture for window tests: a headless screen, a window class whose
// procedure logs the messages and can be given a per-test handler, and a
// tear-down that leaves no window, capture, hook or timer behind.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/backend/Headless.h"
#include "platform/win/Windows.h"

namespace wintest {

using namespace win;

// "name:WM_X" entries of the logged messages.
std::vector<std::string>& Log();
// Only these messages are logged (empty: all but the noisy ones).
std::vector<UINT>& LogFilter();
// Called first by the logging procedure; answering true ends the message
// with the result set.
using THandler = std::function<bool(HWND, UINT, WPARAM, LPARAM, LRESULT&)>;
THandler& Handler();
// The name a window has in the log.
void NameWindow(HWND h, const std::string& name);
std::string MessageName(UINT msg);

// The logging window procedure (ends in DefWindowProcW).
LRESULT LogProc(HWND h, UINT m, WPARAM w, LPARAM l);
// Registered classes: "WinTest" (arrow cursor, white background),
// "WinTestDbl" (the same with CS_DBLCLKS).
void RegisterTestClasses();

class WindowsFixture : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  HWND Make(const std::string& name, DWORD style, RECT r, HWND parent = nullptr, DWORD exStyle = 0,
            const char16_t* cls = u"WinTest");
  // The log restricted to the given messages, then cleared.
  std::vector<std::string> Take();
  void Clear() { Log().clear(); }
  // Dispatches until the queue is empty.
  int Pump() { return Screen.ProcessMessages(); }

  backend::THeadlessBackend Screen;
  std::vector<HWND> Created;
};

}  // namespace wintest
