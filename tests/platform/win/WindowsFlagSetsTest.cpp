// SetWindowPos with the fixed flag sets that hide a window or recompute its
// frame in place, and the system notifications a broadcast hands to every
// top-level window.
#include <algorithm>

#include "WindowsFixture.h"

namespace wintest {
namespace {

class WindowsFlagSetsTest : public WindowsFixture {};

TEST_F(WindowsFlagSetsTest, HideAndFrameChangeKeepPlaceOrderAndActivation) {
  constexpr UINT Hide = SWP_HIDEWINDOW | SWP_NOACTIVATE | SWP_NOZORDER | SWP_NOMOVE | SWP_NOSIZE;     // 0x97
  constexpr UINT Frame = SWP_FRAMECHANGED | SWP_NOACTIVATE | SWP_NOZORDER | SWP_NOMOVE | SWP_NOSIZE;  // 0x37
  constexpr UINT Show = SWP_SHOWWINDOW | SWP_NOACTIVATE | SWP_NOZORDER | SWP_NOMOVE | SWP_NOSIZE;
  static_assert(Hide == 0x97 && Frame == 0x37);
  struct TCase {
    const char* Name;
    UINT Flags;
    bool VisibleBefore;
    bool VisibleAfter;
    bool CalcSize;  // WM_NCCALCSIZE asked
  };
  const TCase cases[] = {
      {"hide", Hide, true, false, false},
      {"frame changed", Frame, true, true, true},
      {"frame changed while hidden", Frame, false, false, true},
      {"show without activating", Show, false, true, false},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    HWND active = Make("active", WS_POPUP | WS_VISIBLE, RECT{0, 0, 100, 100});
    HWND bottom = Make("bottom", WS_POPUP | (c.VisibleBefore ? WS_VISIBLE : 0), RECT{200, 0, 300, 100});
    HWND top = Make("top", WS_POPUP | WS_VISIBLE, RECT{250, 50, 350, 150});
    SetWindowPos(bottom, top, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SetActiveWindow(active);
    Pump();
    std::vector<UINT> changing;
    bool calc = false;
    Handler() = [&](HWND h, UINT m, WPARAM, LPARAM l, LRESULT&) {
      if (h != bottom) return false;
      if (m == WM_WINDOWPOSCHANGING) changing.push_back(reinterpret_cast<WINDOWPOS*>(l)->flags);
      if (m == WM_NCCALCSIZE) calc = true;
      return false;
    };
    ASSERT_TRUE(SetWindowPos(bottom, nullptr, 7, 7, 7, 7, c.Flags));
    EXPECT_EQ(bool(IsWindowVisible(bottom)), c.VisibleAfter);
    EXPECT_EQ(calc, c.CalcSize);
    ASSERT_FALSE(changing.empty());
    EXPECT_EQ(changing[0] & c.Flags, c.Flags);
    RECT r;
    GetWindowRect(bottom, &r);
    EXPECT_EQ(r, (RECT{200, 0, 300, 100}));
    EXPECT_EQ(GetWindow(top, GW_HWNDNEXT), bottom);  // the order stays
    EXPECT_EQ(GetActiveWindow(), active);
    Handler() = nullptr;
    for (HWND h : {top, bottom, active}) DestroyWindow(h);
  }
}

TEST_F(WindowsFlagSetsTest, BroadcastNotificationsReachEveryTopLevelWindow) {
  HWND a = Make("a", WS_POPUP | WS_VISIBLE, RECT{0, 0, 100, 100});
  Make("hidden", WS_POPUP, RECT{0, 0, 100, 100});
  Make("child", WS_CHILD | WS_VISIBLE, RECT{0, 0, 10, 10}, a);
  Pump();
  LogFilter() = {WM_SETTINGCHANGE, WM_SYSCOLORCHANGE, WM_DISPLAYCHANGE};
  Clear();
  SendMessageW(HWND_BROADCAST, WM_SETTINGCHANGE, SPI_SETWORKAREA, 0);
  std::vector<std::string> sent = Take();
  std::sort(sent.begin(), sent.end());
  EXPECT_EQ(sent, (std::vector<std::string>{"a:0x001A", "hidden:0x001A"}));
  EXPECT_TRUE(PostMessageW(HWND_BROADCAST, WM_SYSCOLORCHANGE, 0, 0));
  EXPECT_TRUE(Take().empty());  // posted: nothing until the loop runs
  Pump();
  std::vector<std::string> posted = Take();
  std::sort(posted.begin(), posted.end());
  EXPECT_EQ(posted, (std::vector<std::string>{"a:0x0015", "hidden:0x0015"}));
}

}  // namespace
}  // namespace wintest
