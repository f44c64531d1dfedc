// What the default window procedure makes of keys (the context menu from the
// keyboard, help on F1, input-method characters), the outside services that
// go through the backend (sounds, the desktop's opener) and the drop shadow
// of the headless screen.
#include "WindowsFixture.h"

namespace wintest {
namespace {

class WindowsServicesTest : public WindowsFixture {
 protected:
  void TearDown() override {
    Screen.Sounds().clear();
    Screen.OpenedDocuments().clear();
    WindowsFixture::TearDown();
  }
};

constexpr LPARAM FromKeyboard = LPARAM(0xFFFFFFFF);  // the point (-1, -1)

// The keys reach the focused child; what its default procedure does not
// keep goes up to the parent.
TEST_F(WindowsServicesTest, KeysAskForTheContextMenuAndHelpOnTheFocusWindow) {
  HWND top = Make("top", WS_POPUP | WS_VISIBLE, RECT{0, 0, 300, 200});
  HWND child = Make("child", WS_CHILD | WS_VISIBLE, RECT{10, 10, 100, 50}, top);
  SetWindowLongPtrW(child, GWLP_ID, 7);
  SetFocus(child);
  Pump();

  struct TSeen {
    HWND At;
    UINT Msg;
    WPARAM W;
    LPARAM L;
    HELPINFO Help;
  };
  std::vector<TSeen> seen;
  Handler() = [&](HWND h, UINT m, WPARAM w, LPARAM l, LRESULT&) {
    if (m == WM_CONTEXTMENU) seen.push_back(TSeen{h, m, w, l, {}});
    if (m == WM_HELP) seen.push_back(TSeen{h, m, w, 0, *reinterpret_cast<const HELPINFO*>(l)});
    return false;
  };

  struct TCase {
    const char* Name;
    std::vector<UINT> Held;  // pressed around the key
    UINT Key;
    UINT Msg;  // nothing: WM_NULL
  };
  const TCase cases[] = {
      {"menu key", {}, VK_APPS, WM_CONTEXTMENU},
      {"Shift+F10", {VK_SHIFT}, VK_F10, WM_CONTEXTMENU},
      {"F1", {}, VK_F1, WM_HELP},
      {"F10 alone", {}, VK_F10, WM_NULL},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    seen.clear();
    for (UINT k : c.Held) Screen.KeyDown(k);
    Screen.KeyPress(c.Key);
    for (UINT k : c.Held) Screen.KeyUp(k);
    Pump();
    if (c.Msg == WM_NULL) {
      EXPECT_TRUE(seen.empty());
      continue;
    }
    // the child first, then its parent, both about the child
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].At, child);
    EXPECT_EQ(seen[1].At, top);
    for (const TSeen& s : seen) {
      EXPECT_EQ(s.Msg, c.Msg);
      if (c.Msg == WM_CONTEXTMENU) {
        EXPECT_EQ(s.W, WPARAM(child));
        EXPECT_EQ(s.L, FromKeyboard);
      } else {
        EXPECT_EQ(s.Help.cbSize, sizeof(HELPINFO));
        EXPECT_EQ(s.Help.iContextType, HELPINFO_WINDOW);
        EXPECT_EQ(s.Help.iCtrlId, 7);
        EXPECT_EQ(s.Help.hItemHandle, HANDLE(child));
      }
    }
  }
}

TEST_F(WindowsServicesTest, InputMethodCharactersArriveAsCharacters) {
  HWND h = Make("w", WS_POPUP | WS_VISIBLE, RECT{0, 0, 100, 100});
  std::vector<WPARAM> chars;
  Handler() = [&](HWND, UINT m, WPARAM w, LPARAM, LRESULT&) {
    if (m == WM_CHAR) chars.push_back(w);
    return false;
  };
  SendMessageW(h, WM_IME_CHAR, u'ş', 1);
  EXPECT_EQ(chars, std::vector<WPARAM>{u'ş'});
}

TEST_F(WindowsServicesTest, SoundsAndTheOpenerGoThroughTheBackend) {
  EXPECT_TRUE(PlaySoundW(u"MenuPopup", nullptr, SND_ALIAS | SND_ASYNC | SND_NODEFAULT | SND_NOWAIT));
  EXPECT_TRUE(PlaySoundW(nullptr, nullptr, 0));               // stops
  EXPECT_FALSE(PlaySoundW(u"WAVE1", nullptr, SND_RESOURCE));  // the program embeds no sounds
  EXPECT_TRUE(MessageBeep(MB_ICONERROR));
  EXPECT_EQ(Screen.Sounds(), (std::vector<String>{u"MenuPopup", u"", u"SystemHand"}));

  struct TCase {
    const char* Name;
    LPCWSTR Operation;
    LPCWSTR File;
    intptr_t Expected;  // above 32: opened
  };
  const TCase cases[] = {
      {"OPEN", u"OPEN", u"http://example.org/a b", 33},
      {"no operation", nullptr, u"/tmp/readme.txt", 33},
      {"another verb", u"print", u"/tmp/readme.txt", SE_ERR_NOASSOC},
      {"no file", u"open", u"", SE_ERR_FNF},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    Screen.OpenedDocuments().clear();
    intptr_t r = reinterpret_cast<intptr_t>(
        ShellExecuteW(nullptr, c.Operation, c.File, nullptr, nullptr, SW_SHOWMAXIMIZED));
    if (c.Expected > 32) {
      EXPECT_GT(r, 32);
      EXPECT_EQ(Screen.OpenedDocuments(), std::vector<String>{String(c.File)});
    } else {
      EXPECT_EQ(r, c.Expected);
      EXPECT_TRUE(Screen.OpenedDocuments().empty());
    }
  }

  // Without a backend nothing plays or opens, and the callers hear so.
  TBackend* saved = SetBackend(nullptr);
  EXPECT_FALSE(PlaySoundW(u"MenuPopup", nullptr, SND_ALIAS));
  EXPECT_EQ(reinterpret_cast<intptr_t>(ShellExecuteW(nullptr, nullptr, u"x", nullptr, nullptr, SW_SHOW)),
            SE_ERR_NOASSOC);
  SetBackend(saved);
}

TEST_F(WindowsServicesTest, DropShadowDarkensBelowAndRightOfTheWindow) {
  static bool registered = false;
  if (!registered) {
    registered = true;
    WNDCLASSEXW c;
    c.cbSize = sizeof c;
    c.style = CS_DROPSHADOW;
    c.lpfnWndProc = &LogProc;
    c.hInstance = HInstance;
    c.hbrBackground = reinterpret_cast<HBRUSH>(uintptr_t(COLOR_WINDOW + 1));
    c.lpszClassName = u"WinTestShadow";
    ASSERT_NE(RegisterClassExW(&c), 0);
  }
  // the shadows fall on a white window behind
  Make("back", WS_POPUP | WS_VISIBLE, RECT{0, 0, 600, 400});
  Make("plain", WS_POPUP | WS_VISIBLE, RECT{300, 100, 400, 200});
  Make("shadowed", WS_POPUP | WS_VISIBLE, RECT{100, 100, 200, 200}, nullptr, 0, u"WinTestShadow");
  Screen.Compose();
  COLORREF white = GetSysColor(COLOR_WINDOW);
  struct TCase {
    POINT At;
    bool Shadowed;
  };
  const TCase cases[] = {
      {{202, 150}, true},   // right of the window
      {{150, 202}, true},   // below it
      {{203, 203}, true},   // the corner
      {{202, 102}, false},  // the shadow starts 4 pixels down
      {{98, 150}, false},   // left of the window
      {{150, 98}, false},   // above it
      {{402, 150}, false},  // right of a window without the class style
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(testing::Message() << c.At.x << "," << c.At.y);
    COLORREF p = Screen.Pixel(c.At.x, c.At.y);
    if (c.Shadowed) {
      EXPECT_LT(GetRValue(p), GetRValue(white));
      EXPECT_LT(GetGValue(p), GetGValue(white));
      EXPECT_LT(GetBValue(p), GetBValue(white));
    } else {
      EXPECT_EQ(p, white);
    }
  }
}

}  // namespace
}  // namespace wintest
