// Menus of the window system: items, the window menu, and TrackPopupMenu
// driven by injected keys and clicks.
#include <functional>
#include <map>

#include "WindowsFixture.h"

namespace {

using namespace wintest;

// The newest popup-menu window (handles count up, so the newest is the largest).
HWND NewestMenuWindow() {
  HWND found = nullptr;
  EnumWindows(
      [](HWND h, LPARAM p) -> BOOL {
        WCHAR cls[32];
        if (GetClassNameW(h, cls, 32) && String(cls) == u"#32768" && IsWindowVisible(h)) {
          HWND& f = *reinterpret_cast<HWND*>(p);
          if (!f || reinterpret_cast<uintptr_t>(h) > reinterpret_cast<uintptr_t>(f)) f = h;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

int CountMenuWindows() {
  int n = 0;
  EnumWindows(
      [](HWND h, LPARAM p) -> BOOL {
        WCHAR cls[32];
        if (GetClassNameW(h, cls, 32) && String(cls) == u"#32768") ++*reinterpret_cast<int*>(p);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&n));
  return n;
}

class MenuTest : public WindowsFixture {
 protected:
  void SetUp() override {
    WindowsFixture::SetUp();
    Owner = Make("owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, RECT{100, 100, 500, 400});
    SetActiveWindow(Owner);
    SetFocus(Owner);
    Pump();
    Handler() = [this](HWND h, UINT m, WPARAM w, LPARAM l, LRESULT& r) {
      return OwnerMessage(h, m, w, l, r);
    };
  }
  void TearDown() override {
    for (HMENU m : Menus) DestroyMenu(m);
    WindowsFixture::TearDown();
  }

  HMENU NewPopup() {
    HMENU m = CreatePopupMenu();
    Menus.push_back(m);
    return m;
  }

  // Runs the menu; OnOpen[menu] runs (from a posted message) once that
  // menu's window exists. Keys typed right away, then three Escapes and a
  // timer keep a faulty menu from running for ever.
  BOOL Track(HMENU menu, UINT flags, POINT at, std::vector<UINT> keys = {}) {
    if (!keys.empty()) {
      OnOpen[menu] = [this, keys, prev = OnOpen[menu]]() {
        if (prev) prev();
        for (UINT k : keys) Screen.KeyPress(k);
      };
    }
    SetTimer(Owner, 99, 5000, nullptr);
    BOOL r = TrackPopupMenuEx(menu, flags, at.x, at.y, Owner, nullptr);
    KillTimer(Owner, 99);
    OnOpen.clear();
    return r;
  }

  bool OwnerMessage(HWND h, UINT m, WPARAM w, LPARAM l, LRESULT& r) {
    if (h != Owner) return false;
    switch (m) {
      case WM_ENTERMENULOOP:
        Notices.push_back("enter");
        return false;
      case WM_EXITMENULOOP:
        Notices.push_back("exit");
        return false;
      case WM_INITMENUPOPUP:
        Notices.push_back("init");
        PostMessageW(Owner, WM_USER + 1, w, 0);
        return false;
      case WM_MENUSELECT:
        Notices.push_back(HIWORD(w) == 0xFFFF
                              ? std::string("select:end")
                              : "select:" + std::to_string(LOWORD(w)) + ((HIWORD(w) & MF_HILITE) ? "" : "?"));
        return false;
      case WM_COMMAND:
        Notices.push_back("command:" + std::to_string(LOWORD(w)));
        return true;
      case WM_USER + 1: {
        auto it = OnOpen.find(reinterpret_cast<HMENU>(w));
        if (it != OnOpen.end() && it->second) {
          auto fn = it->second;
          fn();
        }
        return true;
      }
      case WM_TIMER:
        if (w == 99) EndMenu();
        return true;
      case WM_MEASUREITEM: {
        auto* mis = reinterpret_cast<MEASUREITEMSTRUCT*>(l);
        Measured.push_back({mis->CtlType, mis->itemID, mis->itemData});
        mis->itemWidth = 100;
        mis->itemHeight = 20;
        r = TRUE;
        return true;
      }
      case WM_DRAWITEM: {
        auto* dis = reinterpret_cast<DRAWITEMSTRUCT*>(l);
        Drawn.push_back({dis->itemID, dis->itemState, dis->hwndItem});
        HBRUSH b = CreateSolidBrush((dis->itemState & ODS_SELECTED) ? RGB(10, 200, 30) : RGB(200, 10, 30));
        FillRect(dis->hDC, &dis->rcItem, b);
        DeleteObject(b);
        r = TRUE;
        return true;
      }
      default:
        return false;
    }
  }

  HWND Owner{};
  std::vector<HMENU> Menus;
  std::map<HMENU, std::function<void()>> OnOpen;
  std::vector<std::string> Notices;
  struct TMeasured {
    UINT Type, ID;
    ULONG_PTR Data;
  };
  std::vector<TMeasured> Measured;
  struct TDrawn {
    UINT ID, State;
    HWND Menu;
  };
  std::vector<TDrawn> Drawn;
};

// --- Items ---------------------------------------------------------------------------------

TEST_F(MenuTest, ItemsAreFoundByPositionAndByCommandInSubMenus) {
  HMENU m = NewPopup();
  HMENU sub = CreatePopupMenu();
  ASSERT_TRUE(AppendMenuW(sub, MF_STRING, 20, u"&İç"));
  ASSERT_TRUE(AppendMenuW(m, MF_STRING, 1, u"&Bir"));
  ASSERT_TRUE(AppendMenuW(m, MF_SEPARATOR, 0, nullptr));
  ASSERT_TRUE(AppendMenuW(m, MF_POPUP, reinterpret_cast<UINT_PTR>(sub), u"&Alt"));
  ASSERT_TRUE(InsertMenuW(m, 0, MF_BYPOSITION | MF_STRING | MF_GRAYED, 7, u"Sıfır"));
  EXPECT_EQ(GetMenuItemCount(m), 4);
  EXPECT_EQ(GetMenuItemID(m, 0), 7u);
  EXPECT_EQ(GetMenuItemID(m, 3), UINT(-1));  // a sub-menu item has no command of its own
  EXPECT_EQ(GetSubMenu(m, 3), sub);

  EXPECT_EQ(GetMenuState(m, 7, MF_BYCOMMAND), UINT(MF_GRAYED | MF_DISABLED));
  EXPECT_EQ(GetMenuState(m, 2, MF_BYPOSITION) & MF_SEPARATOR, UINT(MF_SEPARATOR));
  EXPECT_EQ(GetMenuState(m, 3, MF_BYPOSITION), UINT(MF_POPUP | (1 << 8)));
  EXPECT_EQ(GetMenuState(m, 99, MF_BYCOMMAND), UINT(-1));

  // By command reaches into the sub-menu.
  WCHAR buf[16];
  EXPECT_EQ(GetMenuStringW(m, 20, buf, 16, MF_BYCOMMAND), 3);
  EXPECT_EQ(String(buf), u"&İç");
  EXPECT_EQ(GetMenuStringW(m, 20, buf, 3, MF_BYCOMMAND), 2);  // cut to the buffer
  EXPECT_EQ(String(buf), u"&İ");
  EXPECT_EQ(CheckMenuItem(m, 20, MF_CHECKED), DWORD(MF_UNCHECKED));
  EXPECT_EQ(CheckMenuItem(m, 20, MF_UNCHECKED), DWORD(MF_CHECKED));
  EXPECT_EQ(EnableMenuItem(m, 7, MF_ENABLED), BOOL(MF_GRAYED | MF_DISABLED));
  EXPECT_EQ(GetMenuState(m, 7, MF_BYCOMMAND), UINT(MF_ENABLED));
  EXPECT_EQ(EnableMenuItem(m, 99, MF_GRAYED), BOOL(-1));

  MENUITEMINFOW mi{};
  mi.cbSize = sizeof mi;
  mi.fMask = MIIM_STATE | MIIM_STRING | MIIM_ID | MIIM_DATA;
  mi.fState = MFS_CHECKED | MFS_DEFAULT;
  WCHAR text[] = u"Yeni";
  mi.dwTypeData = text;
  mi.wID = 8;
  mi.dwItemData = 0x1234;
  ASSERT_TRUE(SetMenuItemInfoW(m, 0, TRUE, &mi));
  MENUITEMINFOW got{};
  got.cbSize = sizeof got;
  got.fMask = MIIM_STATE | MIIM_STRING | MIIM_ID | MIIM_DATA | MIIM_FTYPE;
  WCHAR out[8];
  got.dwTypeData = out;
  got.cch = 8;
  ASSERT_TRUE(GetMenuItemInfoW(m, 8, FALSE, &got));
  EXPECT_EQ(got.fState, UINT(MFS_CHECKED | MFS_DEFAULT));
  EXPECT_EQ(String(out), u"Yeni");
  EXPECT_EQ(got.cch, 4u);
  EXPECT_EQ(got.dwItemData, 0x1234u);
  EXPECT_EQ(got.fType, UINT(MFT_STRING));
  got.cbSize = 4;  // a record of the wrong size is refused
  EXPECT_FALSE(GetMenuItemInfoW(m, 8, FALSE, &got));

  // RemoveMenu keeps the sub-menu, DeleteMenu destroys it.
  ASSERT_TRUE(RemoveMenu(m, 3, MF_BYPOSITION));
  EXPECT_TRUE(IsMenu(sub));
  ASSERT_TRUE(InsertMenuW(m, 3, MF_BYPOSITION | MF_POPUP, reinterpret_cast<UINT_PTR>(sub), u"&Alt"));
  ASSERT_TRUE(DeleteMenu(m, 3, MF_BYPOSITION));
  EXPECT_FALSE(IsMenu(sub));
  EXPECT_EQ(GetMenuItemCount(sub), -1);
  EXPECT_FALSE(AppendMenuW(sub, MF_STRING, 1, u"x"));
  // A menu cannot be its own sub-menu.
  EXPECT_FALSE(AppendMenuW(m, MF_POPUP, reinterpret_cast<UINT_PTR>(m), u"loop"));
}

TEST_F(MenuTest, WindowMenuFollowsTheWindowState) {
  EXPECT_EQ(GetSystemMenu(Make("plain", WS_POPUP | WS_VISIBLE, RECT{0, 0, 50, 50}), FALSE), nullptr);
  HMENU sys = GetSystemMenu(Owner, FALSE);
  ASSERT_NE(sys, nullptr);
  EXPECT_EQ(GetSystemMenu(Owner, FALSE), sys);  // made once
  ASSERT_EQ(GetMenuItemCount(sys), 7);
  WCHAR buf[32];
  GetMenuStringW(sys, UINT(SC_CLOSE), buf, 32, MF_BYCOMMAND);
  EXPECT_EQ(String(buf), u"&Kapat\tAlt+F4");
  MENUITEMINFOW mi{};
  mi.cbSize = sizeof mi;
  mi.fMask = MIIM_STATE | MIIM_BITMAP;
  ASSERT_TRUE(GetMenuItemInfoW(sys, UINT(SC_CLOSE), FALSE, &mi));
  EXPECT_TRUE(mi.fState & MFS_DEFAULT);
  EXPECT_EQ(mi.hbmpItem, HBMMENU_POPUP_CLOSE);

  struct TCase {
    int Show;
    WPARAM Cmd;
    bool Enabled;
  } cases[] = {
      {SW_RESTORE, SC_RESTORE, false}, {SW_RESTORE, SC_MOVE, true},       {SW_RESTORE, SC_SIZE, true},
      {SW_RESTORE, SC_MAXIMIZE, true}, {SW_MAXIMIZE, SC_RESTORE, true},   {SW_MAXIMIZE, SC_MOVE, false},
      {SW_MAXIMIZE, SC_SIZE, false},   {SW_MAXIMIZE, SC_MAXIMIZE, false}, {SW_MAXIMIZE, SC_CLOSE, true},
  };
  for (const TCase& c : cases) {
    ShowWindow(Owner, c.Show);
    UINT state = GetMenuState(GetSystemMenu(Owner, FALSE), UINT(c.Cmd), MF_BYCOMMAND);
    EXPECT_EQ((state & MF_GRAYED) == 0, c.Enabled) << c.Show << " " << c.Cmd;
  }
  ShowWindow(Owner, SW_RESTORE);
  EXPECT_EQ(GetSystemMenu(Owner, TRUE), nullptr);
  EXPECT_FALSE(IsMenu(sys));
  // Choosing from the window menu sends WM_SYSCOMMAND.
  HMENU again = GetSystemMenu(Owner, FALSE);
  std::vector<WPARAM> commands;
  auto prev = Handler();
  Handler() = [&](HWND h, UINT m, WPARAM w, LPARAM l, LRESULT& r) {
    if (h == Owner && m == WM_SYSCOMMAND) {
      commands.push_back(w);
      return true;
    }
    return prev(h, m, w, l, r);
  };
  EXPECT_TRUE(Track(again, 0, POINT{200, 200}, {VK_UP, VK_RETURN}));
  Pump();
  EXPECT_EQ(commands, std::vector<WPARAM>{SC_CLOSE});
}

// --- Tracking with the keyboard --------------------------------------------------------------

TEST_F(MenuTest, KeysChooseItemsAndOpenSubMenus) {
  HMENU m = NewPopup();
  HMENU sub = CreatePopupMenu();
  AppendMenuW(sub, MF_STRING, 10, u"&PDF");
  AppendMenuW(sub, MF_STRING, 11, u"&CSV");
  AppendMenuW(m, MF_STRING, 1, u"&Aç");
  AppendMenuW(m, MF_STRING, 2, u"&Kaydet\tCtrl+S");
  AppendMenuW(m, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(m, MF_STRING | MF_GRAYED, 3, u"&Yazdır");
  AppendMenuW(m, MF_POPUP, reinterpret_cast<UINT_PTR>(sub), u"&Dışa aktar");
  AppendMenuW(m, MF_STRING, 4, u"Ka&pat");
  AppendMenuW(m, MF_STRING, 5, u"K&ilitle");
  struct TCase {
    std::vector<UINT> Keys;
    BOOL Expected;
  } cases[] = {
      {{VK_DOWN, VK_RETURN}, 1},
      {{VK_DOWN, VK_DOWN, VK_RETURN}, 2},
      {{VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN, VK_ESCAPE}, 0},  // over the separator to a grayed item
      {{VK_UP, VK_RETURN}, 5},                                 // up from nothing: the last item
      {{VK_DOWN, VK_UP, VK_RETURN}, 5},                        // wraps round
      {{'A'}, 1},                                              // accelerator
      {{'P'}, 4},                                              // not the first letter
      {{'D', VK_RETURN}, 10},                                  // the sub-menu opens with its first item
      {{'D', VK_DOWN, VK_RETURN}, 11},
      {{'D', VK_LEFT, VK_DOWN, VK_RETURN}, 4},  // Left closes the sub-menu only
      {{'D', 'C'}, 11},
      {{VK_ESCAPE}, 0},
      {{'Y', VK_ESCAPE}, 0},  // a grayed item is not chosen by its accelerator
  };
  for (const TCase& c : cases) {
    std::vector<UINT> keys = c.Keys;
    keys.insert(keys.end(), {VK_ESCAPE, VK_ESCAPE, VK_ESCAPE});
    EXPECT_EQ(Track(m, TPM_RETURNCMD, POINT{150, 150}, keys), c.Expected) << testing::PrintToString(c.Keys);
    EXPECT_EQ(CountMenuWindows(), 0);
    EXPECT_EQ(GetActiveWindow(), Owner);
    Pump();
  }
}

TEST_F(MenuTest, NotificationsAndTheCommand) {
  HMENU m = NewPopup();
  AppendMenuW(m, MF_STRING, 41, u"&Bir");
  AppendMenuW(m, MF_STRING, 42, u"&İki");
  struct TCase {
    UINT Flags;
    BOOL Result;
    std::vector<std::string> Notices;
  } cases[] = {
      {0, TRUE, {"enter", "init", "select:41", "select:42", "select:end", "exit", "command:42"}},
      {TPM_RETURNCMD, 42, {"enter", "init", "select:41", "select:42", "select:end", "exit"}},
      {TPM_NONOTIFY, TRUE, {}},
  };
  for (const TCase& c : cases) {
    Notices.clear();
    if (c.Flags & TPM_NONOTIFY) {
      // Without notices nothing tells the test that the menu is open: type ahead.
      Screen.KeyPress(VK_DOWN);
      Screen.KeyPress(VK_DOWN);
      Screen.KeyPress(VK_RETURN);
      EXPECT_EQ(Track(m, c.Flags, POINT{150, 150}), c.Result);
    } else {
      EXPECT_EQ(Track(m, c.Flags, POINT{150, 150}, {VK_DOWN, VK_DOWN, VK_RETURN}), c.Result);
    }
    Pump();
    EXPECT_EQ(Notices, c.Notices) << c.Flags;
  }
}

TEST_F(MenuTest, MenuWindowIsTopmostAndLeavesTheActivation) {
  HMENU m = NewPopup();
  AppendMenuW(m, MF_STRING, 1, u"&Bir");
  HWND seen = nullptr;
  bool nested = true;
  HWND activeDuring = nullptr;
  OnOpen[m] = [&] {
    seen = NewestMenuWindow();
    activeDuring = GetActiveWindow();
    nested = TrackPopupMenuEx(m, TPM_RETURNCMD, 10, 10, Owner, nullptr) != 0;
    Screen.KeyPress(VK_ESCAPE);
  };
  EXPECT_EQ(Track(m, TPM_RETURNCMD, POINT{1270, 1020}), 0);
  ASSERT_NE(seen, nullptr);
  EXPECT_FALSE(IsWindow(seen));
  EXPECT_EQ(activeDuring, Owner);
  EXPECT_FALSE(nested);                                            // one menu at a time
  EXPECT_FALSE(TrackPopupMenuEx(m, 0, 10, 10, nullptr, nullptr));  // no owner
}

TEST_F(MenuTest, MenuIsPlacedOnTheScreenAndDrawsTheSelection) {
  HMENU m = NewPopup();
  AppendMenuW(m, MF_STRING, 1, u"&Bir");
  AppendMenuW(m, MF_STRING, 2, u"&İki");
  RECT placed{};
  COLORREF selectedPixel = 0, otherPixel = 0;
  // Once the first item is selected, look at the screen, then close.
  Handler() = [&, prev = Handler()](HWND h, UINT msg, WPARAM w, LPARAM l, LRESULT& res) {
    if (h == Owner && msg == WM_MENUSELECT && LOWORD(w) == 1 && HIWORD(w) != 0xFFFF) {
      HWND mw = NewestMenuWindow();
      GetWindowRect(mw, &placed);
      UpdateWindow(mw);
      Screen.Compose();
      selectedPixel = Screen.Pixel(placed.left + 6, placed.top + 5);
      otherPixel = Screen.Pixel(placed.left + 6, placed.bottom - 5);
      Screen.KeyPress(VK_ESCAPE);
    }
    return prev(h, msg, w, l, res);
  };
  // Near the bottom right corner the menu opens up and to the left of the point.
  EXPECT_EQ(Track(m, TPM_RETURNCMD, POINT{1270, 1020}, {VK_DOWN}), 0);
  EXPECT_LE(placed.right, 1270);
  EXPECT_LE(placed.bottom, 1024);
  EXPECT_GT(placed.right - placed.left, 20);
  EXPECT_EQ(selectedPixel, GetSysColor(COLOR_HIGHLIGHT));
  EXPECT_EQ(otherPixel, GetSysColor(COLOR_MENU));
}

// --- Owner drawing and the mouse ------------------------------------------------------------

TEST_F(MenuTest, OwnerDrawnItemsAndClicksThroughASubMenu) {
  HMENU m = NewPopup();
  HMENU sub = CreatePopupMenu();
  AppendMenuW(sub, MF_OWNERDRAW, 30, reinterpret_cast<LPCWSTR>(uintptr_t(0x300)));
  AppendMenuW(m, MF_OWNERDRAW, 1, reinterpret_cast<LPCWSTR>(uintptr_t(0x100)));
  AppendMenuW(m, MF_OWNERDRAW | MF_GRAYED, 2, reinterpret_cast<LPCWSTR>(uintptr_t(0x200)));
  AppendMenuW(m, MF_OWNERDRAW | MF_POPUP, reinterpret_cast<UINT_PTR>(sub),
              reinterpret_cast<LPCWSTR>(uintptr_t(0x250)));

  // Items are 20 high inside a 3-pixel frame: the third item is at y + 3 + 40.
  const POINT at{300, 200};
  OnOpen[m] = [&] { Screen.MouseMove(at.x + 50, at.y + 3 + 40 + 10); };
  OnOpen[sub] = [&] {
    RECT r;
    GetWindowRect(NewestMenuWindow(), &r);
    Screen.Click(r.left + 50, r.top + 3 + 10);
  };
  EXPECT_EQ(Track(m, TPM_RETURNCMD, at), 30);
  ASSERT_GE(Measured.size(), 4u);
  EXPECT_EQ(Measured[0].Type, UINT(ODT_MENU));
  EXPECT_EQ(Measured[0].ID, 1u);
  EXPECT_EQ(Measured[0].Data, 0x100u);
  bool grayedDrawn = false, subSelected = false;
  for (const TDrawn& d : Drawn) {
    if (d.ID == 2 && (d.State & ODS_GRAYED) && d.Menu == reinterpret_cast<HWND>(m)) grayedDrawn = true;
    if (d.Menu == reinterpret_cast<HWND>(m) && (d.State & ODS_SELECTED) && d.ID != 1 && d.ID != 2)
      subSelected = true;
  }
  EXPECT_TRUE(grayedDrawn);
  EXPECT_TRUE(subSelected);

  // A click on a grayed item does nothing; one outside every menu cancels it.
  Notices.clear();
  OnOpen.clear();
  OnOpen[m] = [&] {
    Screen.Click(at.x + 50, at.y + 3 + 20 + 10);
    Screen.Click(10, 10);
  };
  EXPECT_EQ(Track(m, 0, at), TRUE);
  Pump();
  EXPECT_EQ(std::count_if(Notices.begin(), Notices.end(),
                          [](const std::string& s) { return s.rfind("command", 0) == 0; }),
            0);
  EXPECT_EQ(CountMenuWindows(), 0);
  EXPECT_EQ(GetCapture(), nullptr);

  // A left click picks the item; the right button only with TPM_RIGHTBUTTON.
  struct TCase {
    UINT Flags;
    int Button;
    BOOL Expected;
  } cases[] = {{TPM_RETURNCMD, VK_LBUTTON, 1},
               {TPM_RETURNCMD, VK_RBUTTON, 0},
               {TPM_RETURNCMD | TPM_RIGHTBUTTON, VK_RBUTTON, 1}};
  for (const TCase& c : cases) {
    OnOpen.clear();
    OnOpen[m] = [&] {
      Screen.Click(at.x + 50, at.y + 3 + 10, c.Button);
      Screen.KeyPress(VK_ESCAPE);
    };
    EXPECT_EQ(Track(m, c.Flags, at), c.Expected) << c.Flags << " " << c.Button;
    Pump();
  }
}

}  // namespace
