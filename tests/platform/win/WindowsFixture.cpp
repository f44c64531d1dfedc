#include "WindowsFixture.h"

#include <algorithm>
#include <map>

#include "tests/support/InjectedInput.h"

namespace wintest {

namespace {
std::map<HWND, std::string>& Names() {
  static std::map<HWND, std::string> n;
  return n;
}
// The name of the window being created, until its first message.
std::string PendingName;
}  // namespace

std::vector<std::string>& Log() {
  static std::vector<std::string> l;
  return l;
}

std::vector<UINT>& LogFilter() {
  static std::vector<UINT> f;
  return f;
}

THandler& Handler() {
  static THandler h;
  return h;
}

void NameWindow(HWND h, const std::string& name) { Names()[h] = name; }

std::string MessageName(UINT m) {
  static const std::map<UINT, const char*> names = {
      {WM_CREATE, "WM_CREATE"}, {WM_DESTROY, "WM_DESTROY"}, {WM_MOVE, "WM_MOVE"}, {WM_SIZE, "WM_SIZE"},
      {WM_ACTIVATE, "WM_ACTIVATE"}, {WM_SETFOCUS, "WM_SETFOCUS"}, {WM_KILLFOCUS, "WM_KILLFOCUS"},
      {WM_PAINT, "WM_PAINT"}, {WM_ERASEBKGND, "WM_ERASEBKGND"}, {WM_SHOWWINDOW, "WM_SHOWWINDOW"},
      {WM_ACTIVATEAPP, "WM_ACTIVATEAPP"}, {WM_CANCELMODE, "WM_CANCELMODE"}, {WM_SETCURSOR, "WM_SETCURSOR"},
      {WM_MOUSEACTIVATE, "WM_MOUSEACTIVATE"}, {WM_GETMINMAXINFO, "WM_GETMINMAXINFO"},
      {WM_WINDOWPOSCHANGING, "WM_WINDOWPOSCHANGING"}, {WM_WINDOWPOSCHANGED, "WM_WINDOWPOSCHANGED"},
      {WM_NCCREATE, "WM_NCCREATE"}, {WM_NCDESTROY, "WM_NCDESTROY"}, {WM_NCCALCSIZE, "WM_NCCALCSIZE"},
      {WM_NCHITTEST, "WM_NCHITTEST"}, {WM_NCPAINT, "WM_NCPAINT"}, {WM_NCACTIVATE, "WM_NCACTIVATE"},
      {WM_KEYDOWN, "WM_KEYDOWN"}, {WM_KEYUP, "WM_KEYUP"}, {WM_CHAR, "WM_CHAR"}, {WM_SYSKEYDOWN, "WM_SYSKEYDOWN"},
      {WM_TIMER, "WM_TIMER"}, {WM_VSCROLL, "WM_VSCROLL"}, {WM_HSCROLL, "WM_HSCROLL"},
      {WM_MOUSEMOVE, "WM_MOUSEMOVE"}, {WM_LBUTTONDOWN, "WM_LBUTTONDOWN"}, {WM_LBUTTONUP, "WM_LBUTTONUP"},
      {WM_LBUTTONDBLCLK, "WM_LBUTTONDBLCLK"}, {WM_RBUTTONDOWN, "WM_RBUTTONDOWN"}, {WM_RBUTTONUP, "WM_RBUTTONUP"},
      {WM_PARENTNOTIFY, "WM_PARENTNOTIFY"}, {WM_CAPTURECHANGED, "WM_CAPTURECHANGED"},
      {WM_MOUSELEAVE, "WM_MOUSELEAVE"}, {WM_NCLBUTTONDOWN, "WM_NCLBUTTONDOWN"}, {WM_NCMOUSEMOVE, "WM_NCMOUSEMOVE"},
      {WM_ENABLE, "WM_ENABLE"}, {WM_USER, "WM_USER"}, {WM_USER + 1, "WM_USER+1"}, {WM_USER + 2, "WM_USER+2"},
      {WM_NULL, "WM_NULL"}, {WM_STYLECHANGING, "WM_STYLECHANGING"}, {WM_STYLECHANGED, "WM_STYLECHANGED"},
      {WM_CONTEXTMENU, "WM_CONTEXTMENU"}, {WM_MOUSEWHEEL, "WM_MOUSEWHEEL"}};
  auto it = names.find(m);
  if (it != names.end()) return it->second;
  char buf[16];
  std::snprintf(buf, sizeof buf, "0x%04X", m);
  return buf;
}

LRESULT LogProc(HWND h, UINT m, WPARAM w, LPARAM l) {
  auto& f = LogFilter();
  bool log = f.empty() ? (m != WM_NCHITTEST && m != WM_SETCURSOR && m != WM_GETMINMAXINFO && m != WM_NCPAINT &&
                          m != WM_ERASEBKGND && m != WM_PAINT && m != WM_MOUSEMOVE && m != WM_NCMOUSEMOVE &&
                          m != WM_GETTEXT && m != WM_GETTEXTLENGTH && m != WM_CTLCOLORSTATIC)
                       : std::find(f.begin(), f.end(), m) != f.end();
  if (!Names().count(h) && !PendingName.empty()) {
    Names()[h] = PendingName;
    PendingName.clear();
  }
  if (log) {
    auto it = Names().find(h);
    Log().push_back((it != Names().end() ? it->second : std::string("?")) + ":" + MessageName(m));
  }
  if (Handler()) {
    LRESULT r = 0;
    THandler copy = Handler();
    if (copy(h, m, w, l, r)) return r;
  }
  return DefWindowProcW(h, m, w, l);
}

void RegisterTestClasses() {
  static bool done = false;
  if (done) return;
  done = true;
  WNDCLASSEXW c;
  c.cbSize = sizeof c;
  c.lpfnWndProc = &LogProc;
  c.hInstance = HInstance;
  c.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  c.hbrBackground = reinterpret_cast<HBRUSH>(uintptr_t(COLOR_WINDOW + 1));
  c.lpszClassName = u"WinTest";
  RegisterClassExW(&c);
  c.style = CS_DBLCLKS;
  c.lpszClassName = u"WinTestDbl";
  RegisterClassExW(&c);
}

void WindowsFixture::SetUp() {
  RegisterTestClasses();
  Log().clear();
  LogFilter().clear();
  Handler() = nullptr;
  SetManualClock(false);
  ActivateKeyboardLayout(HKL_TURKISH_Q, 0);
  InjectMouseMove(POINT{1200, 1000});  // every test starts with the mouse in the same place
}

void WindowsFixture::TearDown() {
  Handler() = nullptr;
  ReleaseCapture();
  for (auto it = Created.rbegin(); it != Created.rend(); ++it)
    if (IsWindow(*it)) DestroyWindow(*it);
  InjectAppActivation(false);
  testing_support::ReleaseInjectedInput();
  SetManualClock(false);
  Log().clear();
  LogFilter().clear();
}

HWND WindowsFixture::Make(const std::string& name, DWORD style, RECT r, HWND parent, DWORD exStyle,
                          const char16_t* cls) {
  PendingName = name;  // known before the first message arrives
  HWND h = CreateWindowExW(exStyle, cls, u"", style & ~WS_VISIBLE, r.left, r.top, r.right - r.left,
                           r.bottom - r.top, parent, nullptr, HInstance, nullptr);
  EXPECT_NE(h, nullptr);
  PendingName.clear();
  NameWindow(h, name);
  Created.push_back(h);
  if (style & WS_VISIBLE) ShowWindow(h, (style & WS_CHILD) ? SW_SHOWNA : SW_SHOW);
  return h;
}

std::vector<std::string> WindowsFixture::Take() {
  std::vector<std::string> r = Log();
  Log().clear();
  return r;
}

}  // namespace wintest
