// Input through the headless backend: activation and focus on click, capture
// and mouse leave, double clicks, keyboard translation with the layouts, key
// state, the caret; and the system information, clipboard and message box.
#include <cstring>

#include "WindowsFixture.h"
#include "platform/rtl/CodePages.h"

using namespace win;
using namespace wintest;
using Strings = std::vector<std::string>;

namespace {

class WindowsInputTest : public WindowsFixture {};

TEST_F(WindowsInputTest, ClickActivatesTheWindowBehindAndMovesTheFocus) {
  HWND a = Make("a", WS_POPUP | WS_VISIBLE, RECT{0, 0, 100, 100});
  HWND b = Make("b", WS_POPUP | WS_VISIBLE, RECT{200, 0, 300, 100});
  SetActiveWindow(a);
  Pump();
  ASSERT_EQ(GetActiveWindow(), a);
  ASSERT_EQ(GetFocus(), a);
  LogFilter() = {WM_MOUSEACTIVATE, WM_NCACTIVATE, WM_ACTIVATE, WM_SETFOCUS, WM_KILLFOCUS, WM_LBUTTONDOWN};
  Clear();
  Screen.Click(250, 50);
  Pump();
  EXPECT_EQ(Take(), (Strings{"b:WM_MOUSEACTIVATE", "a:WM_NCACTIVATE", "a:WM_ACTIVATE", "b:WM_NCACTIVATE",
                             "b:WM_ACTIVATE", "a:WM_KILLFOCUS", "b:WM_SETFOCUS", "b:WM_LBUTTONDOWN"}));
  EXPECT_EQ(GetActiveWindow(), b);
  EXPECT_EQ(GetFocus(), b);
}

TEST_F(WindowsInputTest, MouseActivateAnswersKeepTheWindowInactiveOrEatTheClick) {
  HWND a = Make("a", WS_POPUP | WS_VISIBLE, RECT{0, 0, 100, 100});
  HWND tool = Make("tool", WS_POPUP | WS_VISIBLE, RECT{200, 0, 300, 100}, nullptr, WS_EX_TOOLWINDOW | WS_EX_TOPMOST);
  SetActiveWindow(a);
  Pump();
  LRESULT answer = MA_NOACTIVATE;
  Handler() = [&](HWND h, UINT m, WPARAM, LPARAM, LRESULT& r) {
    if (h != tool || m != WM_MOUSEACTIVATE) return false;
    r = answer;
    return true;
  };
  LogFilter() = {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_ACTIVATE};
  Clear();
  Screen.Click(250, 50);
  Pump();
  EXPECT_EQ(Take(), (Strings{"tool:WM_LBUTTONDOWN", "tool:WM_LBUTTONUP"}));
  EXPECT_EQ(GetActiveWindow(), a);
  answer = MA_NOACTIVATEANDEAT;
  Screen.Click(250, 60);
  Pump();
  EXPECT_EQ(Take(), (Strings{"tool:WM_LBUTTONUP"}));
  EXPECT_EQ(GetActiveWindow(), a);
}

// A child-style window moved onto the desktop floats there but is never
// activated: not when shown, asked to, or clicked.
TEST_F(WindowsInputTest, ChildStyleWindowOnTheDesktopNeverActivates) {
  HWND a = Make("a", WS_POPUP | WS_VISIBLE, RECT{0, 0, 100, 100});
  HWND tool = Make("tool", WS_CHILD, RECT{200, 0, 300, 100}, a, WS_EX_TOOLWINDOW);
  SetParent(tool, nullptr);
  SetActiveWindow(a);
  Pump();
  ShowWindow(tool, SW_SHOW);
  SetWindowPos(tool, HWND_TOPMOST, 0, 0, 0, 0, SWP_SHOWWINDOW | SWP_NOMOVE | SWP_NOSIZE);
  Pump();
  EXPECT_TRUE(IsWindowVisible(tool));
  EXPECT_EQ(GetActiveWindow(), a);
  SetActiveWindow(tool);
  Screen.Click(250, 50);
  Pump();
  EXPECT_EQ(GetActiveWindow(), a);
}

TEST_F(WindowsInputTest, FocusChangesSendKillAndSetFocusWithTheOtherWindow) {
  HWND top = Make("top", WS_POPUP | WS_VISIBLE, RECT{0, 0, 200, 200});
  HWND e1 = Make("e1", WS_CHILD | WS_VISIBLE, RECT{0, 0, 50, 20}, top);
  HWND e2 = Make("e2", WS_CHILD | WS_VISIBLE, RECT{0, 30, 50, 50}, top);
  SetFocus(e1);
  Pump();
  // a control that moves the focus on Tab, as the framework's dialogs do
  std::vector<std::pair<HWND, HWND>> changes;
  Handler() = [&](HWND h, UINT m, WPARAM w, LPARAM, LRESULT&) {
    if (m == WM_KEYDOWN && w == VK_TAB) SetFocus(h == e1 ? e2 : e1);
    if (m == WM_SETFOCUS) changes.emplace_back(h, reinterpret_cast<HWND>(w));
    if (m == WM_KILLFOCUS) changes.emplace_back(reinterpret_cast<HWND>(w), h);
    return false;
  };
  Screen.KeyPress(VK_TAB);
  Pump();
  EXPECT_EQ(GetFocus(), e2);
  Screen.KeyPress(VK_TAB);
  Pump();
  EXPECT_EQ(GetFocus(), e1);
  // each change: (new, old) from the kill-focus and then from the set-focus
  EXPECT_EQ(changes, (std::vector<std::pair<HWND, HWND>>{{e2, e1}, {e2, e1}, {e1, e2}, {e1, e2}}));
  // disabling the focused window takes the focus away
  LogFilter() = {WM_CANCELMODE, WM_ENABLE, WM_KILLFOCUS};
  Clear();
  EnableWindow(e1, FALSE);
  EXPECT_EQ(Take(), (Strings{"e1:WM_CANCELMODE", "e1:WM_KILLFOCUS", "e1:WM_ENABLE"}));
  EXPECT_EQ(GetFocus(), nullptr);
  EXPECT_TRUE(EnableWindow(e1, TRUE));
}

TEST_F(WindowsInputTest, CaptureRoutesTheMouseAndMouseLeaveIsPostedOnce) {
  HWND a = Make("a", WS_POPUP | WS_VISIBLE, RECT{0, 0, 100, 100});
  HWND b = Make("b", WS_POPUP | WS_VISIBLE, RECT{200, 0, 300, 100});
  Pump();
  std::vector<std::pair<HWND, POINT>> moves;
  Handler() = [&](HWND h, UINT m, WPARAM, LPARAM l, LRESULT&) {
    if (m == WM_MOUSEMOVE) moves.emplace_back(h, POINT{GET_X_LPARAM(l), GET_Y_LPARAM(l)});
    return false;
  };
  EXPECT_EQ(SetCapture(a), nullptr);
  Screen.MouseMove(250, 10);
  Pump();
  ASSERT_EQ(moves.size(), 1u);
  EXPECT_EQ(moves[0].first, a);
  EXPECT_EQ(moves[0].second, (POINT{250, 10}));
  LogFilter() = {WM_CAPTURECHANGED, WM_MOUSELEAVE};
  Clear();
  LPARAM changedTo = -1;
  Handler() = [&](HWND, UINT m, WPARAM, LPARAM l, LRESULT&) {
    if (m == WM_CAPTURECHANGED) changedTo = l;
    return false;
  };
  EXPECT_EQ(SetCapture(b), a);
  EXPECT_EQ(changedTo, LPARAM(b));
  ReleaseCapture();
  EXPECT_EQ(changedTo, 0);
  EXPECT_EQ(Take(), (Strings{"a:WM_CAPTURECHANGED", "b:WM_CAPTURECHANGED"}));

  Screen.MouseMove(50, 50);
  Pump();
  TRACKMOUSEEVENT t;
  t.cbSize = sizeof t;
  t.dwFlags = TME_LEAVE;
  t.hwndTrack = a;
  ASSERT_TRUE(TrackMouseEvent(&t));
  Screen.MouseMove(60, 60);
  Pump();
  EXPECT_TRUE(Take().empty());
  Screen.MouseMove(250, 50);
  Screen.MouseMove(10, 10);
  Screen.MouseMove(250, 50);
  Pump();
  EXPECT_EQ(Take(), (Strings{"a:WM_MOUSELEAVE"}));
  // tracking a window the mouse is not over answers at once
  TrackMouseEvent(&t);
  Pump();
  EXPECT_EQ(Take(), (Strings{"a:WM_MOUSELEAVE"}));

  // hovering: WM_MOUSEHOVER once the mouse rested for the hover time
  SetManualClock(true);
  Screen.MouseMove(50, 50);
  Pump();
  t.dwFlags = TME_HOVER;
  t.dwHoverTime = 100;
  ASSERT_TRUE(TrackMouseEvent(&t));
  LogFilter() = {WM_MOUSEHOVER};
  Clear();
  AdvanceManualClock(50);
  Pump();
  EXPECT_TRUE(Take().empty());
  AdvanceManualClock(60);
  Pump();
  Pump();
  EXPECT_EQ(Take(), (Strings{"a:0x02A1"}));
}

TEST_F(WindowsInputTest, DoubleClicksNeedTheClassStyleTimeAndDistance) {
  SetManualClock(true);
  HWND dbl = Make("dbl", WS_POPUP | WS_VISIBLE, RECT{0, 0, 100, 100}, nullptr, 0, u"WinTestDbl");
  HWND plain = Make("plain", WS_POPUP | WS_VISIBLE, RECT{200, 0, 300, 100});
  SetActiveWindow(dbl);
  Pump();
  LogFilter() = {WM_LBUTTONDOWN, WM_LBUTTONDBLCLK};
  Clear();
  Screen.DoubleClick(50, 50);
  Pump();
  EXPECT_EQ(Take(), (Strings{"dbl:WM_LBUTTONDOWN", "dbl:WM_LBUTTONDBLCLK"}));
  Screen.Click(50, 50);
  AdvanceManualClock(GetDoubleClickTime() + 1);
  Screen.Click(50, 50);
  Screen.Click(60, 50);  // too far from the last press
  Pump();
  EXPECT_EQ(Take(), (Strings{"dbl:WM_LBUTTONDOWN", "dbl:WM_LBUTTONDOWN", "dbl:WM_LBUTTONDOWN"}));
  SetActiveWindow(plain);
  Pump();
  Clear();
  Screen.DoubleClick(250, 50);
  Pump();
  EXPECT_EQ(Take(), (Strings{"plain:WM_LBUTTONDOWN", "plain:WM_LBUTTONDOWN"}));
}

TEST_F(WindowsInputTest, NonClientMouseMessagesCarryTheHitCode) {
  HWND h = Make("w", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_VISIBLE, RECT{0, 0, 200, 150});
  SetActiveWindow(h);
  Pump();
  std::vector<std::pair<UINT, WPARAM>> seen;
  Handler() = [&](HWND, UINT m, WPARAM w, LPARAM l, LRESULT&) {
    if (m == WM_NCLBUTTONDOWN) seen.emplace_back(m, w);
    if (m == WM_SETCURSOR && HIWORD(l) == WM_NCLBUTTONDOWN) seen.emplace_back(m, LOWORD(l));
    return false;
  };
  Screen.Click(60, 10);
  Pump();
  EXPECT_EQ(seen, (std::vector<std::pair<UINT, WPARAM>>{{WM_SETCURSOR, HTCAPTION}, {WM_NCLBUTTONDOWN, HTCAPTION}}));
  EXPECT_EQ(WM_LBUTTONDOWN - WM_NCLBUTTONDOWN, 0x160u);
}

struct TKeyCase {
  HKL Layout;
  std::vector<UINT> Keys;  // pressed in order, released in reverse
  char16_t Expected;
};

TEST_F(WindowsInputTest, TranslateMessageFollowsTheKeyboardLayout) {
  HWND h = Make("w", WS_POPUP | WS_VISIBLE, RECT{0, 0, 100, 100});
  SetFocus(h);
  Pump();
  const TKeyCase cases[] = {
      {HKL_TURKISH_Q, {'I'}, u'ı'},
      {HKL_TURKISH_Q, {VK_SHIFT, 'I'}, u'I'},
      {HKL_TURKISH_Q, {VK_OEM_7}, u'i'},
      {HKL_TURKISH_Q, {VK_SHIFT, VK_OEM_7}, u'İ'},
      {HKL_TURKISH_Q, {VK_OEM_1}, u'ş'},
      {HKL_TURKISH_Q, {VK_SHIFT, VK_OEM_4}, u'Ğ'},
      {HKL_TURKISH_Q, {VK_OEM_2}, u'ö'},
      {HKL_TURKISH_Q, {VK_OEM_5}, u'ç'},
      {HKL_TURKISH_Q, {VK_OEM_6}, u'ü'},
      {HKL_TURKISH_Q, {VK_SHIFT, '2'}, u'\''},
      {HKL_TURKISH_Q, {VK_CONTROL, VK_MENU, 'Q'}, u'@'},
      {HKL_US, {VK_OEM_1}, u';'},
      {HKL_US, {VK_SHIFT, '2'}, u'@'},
      {HKL_US, {'I'}, u'i'},
      {HKL_US, {VK_CONTROL, 'C'}, 0x03},
      {HKL_US, {VK_RETURN}, 0x0D},
  };
  for (const TKeyCase& c : cases) {
    ActivateKeyboardLayout(c.Layout, 0);
    std::vector<WPARAM> chars;
    Handler() = [&](HWND, UINT m, WPARAM w, LPARAM, LRESULT&) {
      if (m == WM_CHAR) chars.push_back(w);
      return false;
    };
    for (UINT k : c.Keys) Screen.KeyDown(k);
    for (auto it = c.Keys.rbegin(); it != c.Keys.rend(); ++it) Screen.KeyUp(*it);
    Pump();
    EXPECT_EQ(chars, (std::vector<WPARAM>{WPARAM(c.Expected)})) << "key " << c.Keys.back();
  }
  // Alt+key: WM_SYSCHAR with the character the key gives without Alt (the
  // accelerators of labels and buttons), never WM_CHAR.
  const TKeyCase altCases[] = {
      {HKL_TURKISH_Q, {VK_MENU, 'A'}, u'a'},
      {HKL_TURKISH_Q, {VK_MENU, 'I'}, u'ı'},
      {HKL_TURKISH_Q, {VK_MENU, VK_SHIFT, 'D'}, u'D'},
      {HKL_US, {VK_MENU, '1'}, u'1'},
  };
  for (const TKeyCase& c : altCases) {
    ActivateKeyboardLayout(c.Layout, 0);
    std::vector<WPARAM> sysChars;
    int chars = 0;
    Handler() = [&](HWND, UINT m, WPARAM w, LPARAM, LRESULT&) {
      if (m == WM_SYSCHAR) sysChars.push_back(w);
      chars += m == WM_CHAR;
      return false;
    };
    for (UINT k : c.Keys) Screen.KeyDown(k);
    for (auto it = c.Keys.rbegin(); it != c.Keys.rend(); ++it) Screen.KeyUp(*it);
    Pump();
    EXPECT_EQ(sysChars, (std::vector<WPARAM>{WPARAM(c.Expected)})) << "Alt key " << c.Keys.back();
    EXPECT_EQ(chars, 0);
  }
  ActivateKeyboardLayout(HKL_TURKISH_Q, 0);
  EXPECT_EQ(VkKeyScanW(u'ş'), SHORT(VK_OEM_1));
  EXPECT_EQ(VkKeyScanW(u'İ'), SHORT(0x100 | VK_OEM_7));
  EXPECT_EQ(MapVirtualKeyW('A', MAPVK_VK_TO_CHAR), UINT('A'));
  EXPECT_EQ(MapVirtualKeyW(MapVirtualKeyW('A', MAPVK_VK_TO_VSC), MAPVK_VSC_TO_VK), UINT('A'));
  std::u16string typed;
  Handler() = [&](HWND, UINT m, WPARAM w, LPARAM, LRESULT&) {
    if (m == WM_CHAR) typed.push_back(char16_t(w));
    return false;
  };
  Screen.TypeText(u"Kontör Yükle 5€");
  Pump();
  EXPECT_EQ(typed, u"Kontör Yükle 5€");
}

TEST_F(WindowsInputTest, QueueKeyStateFollowsRetrievalAndAsyncStateFollowsTheKeys) {
  HWND h = Make("w", WS_POPUP | WS_VISIBLE, RECT{0, 0, 100, 100});
  SetFocus(h);
  Pump();
  SHORT caps = GetKeyState(VK_CAPITAL);
  LPARAM lp = 0;
  Handler() = [&](HWND, UINT m, WPARAM, LPARAM l, LRESULT&) {
    if (m == WM_KEYDOWN || m == WM_KEYUP || m == WM_SYSKEYDOWN || m == WM_SYSKEYUP) lp = l;
    return false;
  };
  Screen.KeyDown(VK_CAPITAL);
  EXPECT_TRUE(GetAsyncKeyState(VK_CAPITAL) & 0x8000);
  EXPECT_FALSE(GetKeyState(VK_CAPITAL) & 0x8000);  // not retrieved yet
  Pump();
  EXPECT_TRUE(GetKeyState(VK_CAPITAL) & 0x8000);
  EXPECT_NE(GetKeyState(VK_CAPITAL) & 1, caps & 1);  // toggled
  EXPECT_EQ(lp & 0xC0000000, 0);
  Screen.KeyUp(VK_CAPITAL);
  Pump();
  EXPECT_EQ(uint32_t(lp) & 0xC0000000u, 0xC0000000u);  // previous state down, transition up
  Screen.KeyPress(VK_CAPITAL);
  Pump();
  EXPECT_EQ(GetKeyState(VK_CAPITAL) & 1, caps & 1);
  // Alt makes system keys with bit 29
  Screen.KeyDown(VK_MENU);
  Screen.KeyDown('X');
  Pump();
  EXPECT_EQ(uint32_t(lp) & (1u << 29), 1u << 29);
  Screen.KeyUp('X');
  Screen.KeyUp(VK_MENU);
  Pump();
  BYTE ks[256];
  GetKeyboardState(ks);
  EXPECT_EQ(ks[VK_MENU] & 0x80, 0);
}

TEST_F(WindowsInputTest, CaretInvertsItsRectangleWhileShown) {
  HWND h = Make("w", WS_POPUP | WS_VISIBLE, RECT{0, 0, 100, 100});
  Pump();
  HDC dc = GetDC(h);
  COLORREF back = GetPixel(dc, 10, 10);
  ASSERT_TRUE(CreateCaret(h, nullptr, 2, 16));
  SetCaretPos(10, 10);
  EXPECT_EQ(GetPixel(dc, 10, 10), back);  // a new caret is hidden
  ShowCaret(h);
  EXPECT_EQ(GetPixel(dc, 10, 10), back ^ 0xFFFFFF);
  POINT p;
  GetCaretPos(&p);
  EXPECT_EQ(p, (POINT{10, 10}));
  HideCaret(h);
  EXPECT_EQ(GetPixel(dc, 10, 10), back);
  ShowCaret(h);
  DestroyCaret();
  EXPECT_EQ(GetPixel(dc, 10, 10), back);
  ReleaseDC(h, dc);
}

TEST_F(WindowsInputTest, WheelGoesToTheFocusAndCursorsAreSet) {
  HWND top = Make("top", WS_POPUP | WS_VISIBLE, RECT{0, 0, 200, 200});
  HWND child = Make("child", WS_CHILD | WS_VISIBLE, RECT{0, 0, 50, 50}, top);
  SetFocus(child);
  Pump();
  LogFilter() = {WM_MOUSEWHEEL};
  Clear();
  Screen.Wheel(150, 150, -WHEEL_DELTA);
  Pump();
  // the child leaves it to DefWindowProc, which hands it to the parent
  EXPECT_EQ(Take(), (Strings{"child:WM_MOUSEWHEEL", "top:WM_MOUSEWHEEL"}));
  Screen.MouseMove(100, 100);
  Pump();
  EXPECT_EQ(Screen.Cursor(), LoadCursorW(nullptr, IDC_ARROW));
  POINT p;
  GetCursorPos(&p);
  EXPECT_EQ(p, (POINT{100, 100}));
  ICONINFO ii{};
  ASSERT_TRUE(GetIconInfo(LoadCursorW(nullptr, IDC_HAND), &ii));
  EXPECT_EQ(ii.xHotspot, 5u);
  DeleteObject(ii.hbmMask);
  if (ii.hbmColor) DeleteObject(ii.hbmColor);
}

TEST_F(WindowsInputTest, SystemInformationAnswersTheReportedPlatform) {
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1280);
  EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 1024);
  OSVERSIONINFOW v{};
  v.dwOSVersionInfoSize = sizeof v;
  ASSERT_TRUE(GetVersionExW(&v));
  EXPECT_EQ(v.dwMajorVersion, 6u);
  EXPECT_EQ(v.dwMinorVersion, 1u);
  EXPECT_EQ(v.dwPlatformId, VER_PLATFORM_WIN32_NT);
  MONITORINFO mi{};
  mi.cbSize = sizeof mi;
  ASSERT_TRUE(GetMonitorInfoW(MonitorFromPoint(POINT{5000, 5000}, MONITOR_DEFAULTTONEAREST), &mi));
  EXPECT_EQ(mi.rcMonitor, (RECT{0, 0, 1280, 1024}));
  EXPECT_EQ(MonitorFromPoint(POINT{5000, 5000}, MONITOR_DEFAULTTONULL), nullptr);
  UINT lines = 0;
  ASSERT_TRUE(SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0));
  EXPECT_EQ(lines, 3u);
  BOOL anim = FALSE;
  SystemParametersInfoW(SPI_GETMENUANIMATION, 0, &anim, 0);
  EXPECT_TRUE(anim);
  SystemParametersInfoW(SPI_GETMENUANIMATION + 1, 0, nullptr, 0);
  SystemParametersInfoW(SPI_GETMENUANIMATION, 0, &anim, 0);
  EXPECT_FALSE(anim);
  SystemParametersInfoW(SPI_GETMENUANIMATION + 1, 0, reinterpret_cast<LPVOID>(1), 0);
  NONCLIENTMETRICSW ncm{};
  ncm.cbSize = sizeof ncm;
  EXPECT_TRUE(SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0));
  backend::THeadlessBackend small(640, 480);
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 640);
  RECT work;
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  EXPECT_EQ(work, (RECT{0, 0, 640, 480}));
}

TEST_F(WindowsInputTest, ClipboardKeepsUnicodeTextAndConvertsToAnsi) {
  HWND h = Make("w", WS_POPUP, RECT{0, 0, 10, 10});
  ASSERT_TRUE(OpenClipboard(h));
  EmptyClipboard();
  const char16_t text[] = u"Kontör şı";
  HGLOBAL g = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, sizeof text);
  std::memcpy(GlobalLock(g), text, sizeof text);
  GlobalUnlock(g);
  SetClipboardData(CF_UNICODETEXT, g);
  CloseClipboard();
  EXPECT_TRUE(IsClipboardFormatAvailable(CF_UNICODETEXT));
  EXPECT_TRUE(IsClipboardFormatAvailable(CF_TEXT));
  EXPECT_EQ(GetClipboardData(CF_UNICODETEXT), nullptr);  // closed
  ASSERT_TRUE(OpenClipboard(h));
  auto* u = static_cast<const char16_t*>(GlobalLock(GetClipboardData(CF_UNICODETEXT)));
  EXPECT_EQ(String(u), String(text));
  GlobalUnlock(GetClipboardData(CF_UNICODETEXT));
  HANDLE a = GetClipboardData(CF_TEXT);
  ASSERT_NE(a, nullptr);
  auto* bytes = static_cast<const char*>(GlobalLock(a));
  EXPECT_EQ(AnsiString(bytes), StringToAnsi(String(text)));
  GlobalUnlock(a);
  EmptyClipboard();
  CloseClipboard();
  EXPECT_FALSE(IsClipboardFormatAvailable(CF_UNICODETEXT));
  EXPECT_EQ(RegisterClipboardFormatW(u"Picture"), RegisterClipboardFormatW(u"PICTURE"));
}

}  // namespace

namespace {

class WindowsMessageBoxTest : public WindowsFixture {};

TEST_F(WindowsMessageBoxTest, MessageBoxIsAnsweredByKeys) {
  HWND owner = Make("owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, RECT{100, 100, 500, 400});
  SetActiveWindow(owner);
  Pump();
  // Keys are typed once the box runs its loop: a posted message does it.
  std::vector<UINT> keys;
  bool ownerEnabled = true;
  Handler() = [&](HWND h, UINT m, WPARAM, LPARAM, LRESULT&) {
    if (h == owner && m == WM_USER) {
      ownerEnabled = IsWindowEnabled(owner) != 0;
      for (UINT k : keys) Screen.KeyPress(k);
      return true;
    }
    return false;
  };
  struct TCase {
    UINT Type;
    std::vector<UINT> Keys;
    int Expected;
  } cases[] = {
      {MB_YESNO | MB_ICONQUESTION, {'H'}, IDNO},
      {MB_YESNO, {VK_ESCAPE, VK_RETURN}, IDYES},  // no cancel button: Escape does nothing
      {MB_OKCANCEL | MB_DEFBUTTON2, {VK_RETURN}, IDCANCEL},
      {MB_OKCANCEL, {VK_ESCAPE}, IDCANCEL},
      {MB_OK | MB_ICONWARNING, {VK_ESCAPE}, IDOK},
      {MB_YESNOCANCEL, {VK_TAB, VK_SPACE}, IDNO},
  };
  for (const TCase& c : cases) {
    keys = c.Keys;
    PostMessageW(owner, WM_USER, 0, 0);
    EXPECT_EQ(MessageBoxW(owner, u"Kart yüklensin mi?", u"Onay", c.Type), c.Expected) << c.Type;
    EXPECT_FALSE(ownerEnabled);
    EXPECT_TRUE(IsWindowEnabled(owner));
    EXPECT_EQ(GetActiveWindow(), owner);
  }
}

}  // namespace
