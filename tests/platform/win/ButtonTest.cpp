// The "BUTTON" and "STATIC" classes on the headless backend: clicks and
// their notifications, check states and radio groups, keys, owner-drawn
// button states, dialog codes; static notifications and images.
#include <string>
#include <vector>

#include "WindowsFixture.h"

using namespace win;
using namespace wintest;
using Strings = std::vector<std::string>;

namespace {

class ButtonTest : public WindowsFixture {
 protected:
  void SetUp() override {
    WindowsFixture::SetUp();
    Parent = Make("parent", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, RECT{0, 0, 400, 300});
    SetActiveWindow(Parent);
    Pump();
    Handler() = [this](HWND h, UINT m, WPARAM w, LPARAM l, LRESULT& r) {
      if (h != Parent) return false;
      if (m == WM_COMMAND && l) {
        Events.push_back(std::to_string(LOWORD(w)) + ":" + std::to_string(HIWORD(w)));
        return false;
      }
      if (m == WM_DRAWITEM) {
        auto* d = reinterpret_cast<DRAWITEMSTRUCT*>(l);
        Events.push_back("draw:" + std::to_string(d->itemAction) + ":" + std::to_string(d->itemState));
        Drawn.push_back(*d);
        r = TRUE;
        return true;
      }
      if (m == WM_LBUTTONDOWN) Events.push_back("parent:down");
      return false;
    };
  }

  HWND Control(const char16_t* cls, DWORD style, int id, RECT r = RECT{10, 10, 110, 40},
               const char16_t* text = u"Tamam") {
    HWND h = CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE | style, r.left, r.top, r.right - r.left,
                             r.bottom - r.top, Parent, reinterpret_cast<HMENU>(uintptr_t(id)), HInstance, nullptr);
    EXPECT_NE(h, nullptr);
    Pump();
    return h;
  }
  HWND Button(DWORD style, int id = 1, RECT r = RECT{10, 10, 110, 40}) { return Control(u"BUTTON", style, id, r); }
  // Clicks the middle of a control.
  void ClickOn(HWND h) {
    RECT r;
    GetWindowRect(h, &r);
    Screen.Click((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    Pump();
  }
  Strings TakeEvents() {
    auto e = Events;
    Events.clear();
    return e;
  }

  HWND Parent{};
  Strings Events;
  std::vector<DRAWITEMSTRUCT> Drawn;
};

TEST_F(ButtonTest, ClicksNotifyAndAutomaticButtonsChangeTheirCheck) {
  struct Case {
    const char* name;
    DWORD style;
    std::vector<LRESULT> checks;  // BM_GETCHECK after each of three clicks
  } cases[] = {
      {"push", BS_PUSHBUTTON, {0, 0, 0}},
      {"check box keeps its state", BS_CHECKBOX, {0, 0, 0}},
      {"automatic check box toggles", BS_AUTOCHECKBOX, {1, 0, 1}},
      {"automatic three-state cycles", BS_AUTO3STATE, {1, 2, 0}},
      {"radio button keeps its state", BS_RADIOBUTTON, {0, 0, 0}},
      {"automatic radio button checks", BS_AUTORADIOBUTTON, {1, 1, 1}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    HWND b = Button(c.style, 5);
    std::vector<LRESULT> checks;
    for (int i = 0; i < 3; ++i) {
      ClickOn(b);
      checks.push_back(SendMessageW(b, BM_GETCHECK, 0, 0));
      // a click elsewhere in between, so that no click on the button is a double click
      Screen.MouseMove(300, 200);
      Screen.Click(300, 200);
      Pump();
    }
    EXPECT_EQ(checks, c.checks);
    Strings clicks;
    for (auto& e : TakeEvents())
      if (e == "5:0") clicks.push_back(e);
    EXPECT_EQ(clicks.size(), 3u);
    DestroyWindow(b);
  }
}

TEST_F(ButtonTest, PressAndReleaseOutsideIsNoClick) {
  HWND b = Button(BS_PUSHBUTTON, 3);
  RECT r;
  GetWindowRect(b, &r);
  Screen.MouseDown(r.left + 5, r.top + 5);
  Pump();
  EXPECT_EQ(SendMessageW(b, BM_GETSTATE, 0, 0) & BST_PUSHED, BST_PUSHED);
  EXPECT_EQ(GetFocus(), b);
  Screen.MouseMove(r.right + 20, r.top + 5);  // captured: the button pops up
  Pump();
  EXPECT_EQ(SendMessageW(b, BM_GETSTATE, 0, 0) & BST_PUSHED, 0);
  Screen.MouseUp(r.right + 20, r.top + 5);
  Pump();
  EXPECT_EQ(TakeEvents(), Strings{});
  EXPECT_EQ(GetCapture(), nullptr);
  // a group box lets the mouse through to its parent
  HWND g = Button(BS_GROUPBOX, 4, RECT{10, 60, 200, 160});
  Screen.Click(100, 120);
  Pump();
  EXPECT_EQ(TakeEvents(), Strings{"parent:down"});
  EXPECT_EQ(SendMessageW(g, WM_GETDLGCODE, 0, 0), DLGC_STATIC);
}

TEST_F(ButtonTest, AutomaticRadioButtonsAreExclusiveInTheirGroup) {
  HWND r1 = Button(BS_AUTORADIOBUTTON | WS_GROUP, 1, RECT{10, 10, 110, 30});
  HWND r2 = Button(BS_AUTORADIOBUTTON, 2, RECT{10, 40, 110, 60});
  HWND r3 = Button(BS_AUTORADIOBUTTON, 3, RECT{10, 70, 110, 90});
  HWND other = Button(BS_AUTORADIOBUTTON | WS_GROUP, 4, RECT{10, 100, 110, 120});
  SendMessageW(r1, BM_SETCHECK, BST_CHECKED, 0);
  SendMessageW(other, BM_SETCHECK, BST_CHECKED, 0);
  EXPECT_TRUE(GetWindowLongPtrW(r1, GWL_STYLE) & WS_TABSTOP);  // the checked one is the tab stop
  ClickOn(r2);
  EXPECT_EQ(SendMessageW(r1, BM_GETCHECK, 0, 0), BST_UNCHECKED);
  EXPECT_EQ(SendMessageW(r2, BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(SendMessageW(r3, BM_GETCHECK, 0, 0), BST_UNCHECKED);
  EXPECT_EQ(SendMessageW(other, BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_FALSE(GetWindowLongPtrW(r1, GWL_STYLE) & WS_TABSTOP);
  EXPECT_EQ(TakeEvents(), Strings{"2:0"});
  EXPECT_EQ(SendMessageW(r2, WM_GETDLGCODE, 0, 0), DLGC_BUTTON | DLGC_RADIOBUTTON);
}

TEST_F(ButtonTest, SpaceAndEnterClickAndBmClickToo) {
  HWND push = Button(BS_PUSHBUTTON, 1, RECT{10, 10, 110, 40});
  HWND check = Button(BS_AUTOCHECKBOX, 2, RECT{10, 50, 110, 80});
  SetFocus(push);
  Pump();
  Screen.KeyDown(VK_SPACE);
  Pump();
  EXPECT_EQ(SendMessageW(push, BM_GETSTATE, 0, 0) & BST_PUSHED, BST_PUSHED);
  EXPECT_EQ(TakeEvents(), Strings{});
  Screen.KeyUp(VK_SPACE);
  Pump();
  EXPECT_EQ(TakeEvents(), Strings{"1:0"});
  Screen.KeyPress(VK_RETURN);
  Pump();
  EXPECT_EQ(TakeEvents(), Strings{"1:0"});
  SetFocus(check);
  Pump();
  Screen.KeyPress(VK_SPACE);
  Pump();
  Screen.KeyPress(VK_RETURN);  // no click for a check box
  Pump();
  EXPECT_EQ(SendMessageW(check, BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(TakeEvents(), Strings{"2:0"});
  SendMessageW(check, BM_CLICK, 0, 0);
  EXPECT_EQ(SendMessageW(check, BM_GETCHECK, 0, 0), BST_UNCHECKED);
  EXPECT_EQ(TakeEvents(), Strings{"2:0"});
  EnableWindow(push, FALSE);
  SendMessageW(push, BM_CLICK, 0, 0);
  EXPECT_EQ(TakeEvents(), Strings{});
}

TEST_F(ButtonTest, OwnerDrawnButtonStatesReachTheParent) {
  HWND b = Button(BS_OWNERDRAW, 9);
  Events.clear();
  RedrawWindow(b, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  EXPECT_EQ(TakeEvents(), Strings{"draw:1:0"});
  EXPECT_EQ(Drawn.back().CtlType, ODT_BUTTON);
  EXPECT_EQ(Drawn.back().CtlID, 9u);
  EXPECT_EQ(Drawn.back().rcItem, (RECT{0, 0, 100, 30}));
  EXPECT_EQ(Drawn.back().hwndItem, b);
  // press: focus first, then selected; release: the click after the drawing
  ClickOn(b);
  EXPECT_EQ(TakeEvents(), (Strings{"draw:4:16", "draw:2:17", "draw:2:16", "9:0"}));
  // a double click is reported as such
  RECT r;
  GetWindowRect(b, &r);
  Screen.DoubleClick(r.left + 5, r.top + 5);
  Pump();
  Strings e = TakeEvents();
  EXPECT_EQ(e.back(), "9:5");  // BN_DOUBLECLICKED
  EXPECT_EQ(std::count(e.begin(), e.end(), "9:0"), 1);
  // BM_SETSTATE highlights, losing the focus draws the focus away
  SendMessageW(b, BM_SETSTATE, TRUE, 0);
  SetFocus(Parent);
  Pump();
  EXPECT_EQ(TakeEvents(), (Strings{"draw:2:17", "draw:2:0", "draw:4:0"}));
  EnableWindow(b, FALSE);
  UpdateWindow(b);
  EXPECT_EQ(TakeEvents(), Strings{"draw:1:4"});
  // an owner-drawn button keeps a check state for those that draw one
  SendMessageW(b, BM_SETCHECK, BST_CHECKED, 0);
  EXPECT_EQ(SendMessageW(b, BM_GETCHECK, 0, 0), BST_CHECKED);
}

TEST_F(ButtonTest, DialogCodesAndStyleChanges) {
  struct Case {
    DWORD style;
    LRESULT code;
  } cases[] = {
      {BS_PUSHBUTTON, DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON}, {BS_DEFPUSHBUTTON, DLGC_BUTTON | DLGC_DEFPUSHBUTTON},
      {BS_OWNERDRAW, DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON},  {BS_AUTOCHECKBOX, DLGC_BUTTON},
      {BS_RADIOBUTTON, DLGC_BUTTON | DLGC_RADIOBUTTON},    {BS_GROUPBOX, DLGC_STATIC},
  };
  for (const Case& c : cases) {
    HWND b = Button(c.style);
    EXPECT_EQ(SendMessageW(b, WM_GETDLGCODE, 0, 0), c.code) << c.style;
    DestroyWindow(b);
  }
  // BM_SETSTYLE changes the type and keeps the other flags
  HWND b = Button(BS_PUSHBUTTON | BS_MULTILINE | BS_LEFT);
  SendMessageW(b, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
  EXPECT_EQ(DWORD(GetWindowLongPtrW(b, GWL_STYLE)) & 0xFFFF, BS_DEFPUSHBUTTON | BS_MULTILINE | BS_LEFT);
  EXPECT_EQ(SendMessageW(b, WM_GETDLGCODE, 0, 0), DLGC_BUTTON | DLGC_DEFPUSHBUTTON);
  // check states: a two-state box takes "indeterminate" as checked
  HWND c2 = Button(BS_CHECKBOX, 2, RECT{10, 50, 110, 80});
  HWND c3 = Button(BS_3STATE, 3, RECT{10, 90, 110, 120});
  SendMessageW(c2, BM_SETCHECK, BST_INDETERMINATE, 0);
  SendMessageW(c3, BM_SETCHECK, BST_INDETERMINATE, 0);
  EXPECT_EQ(SendMessageW(c2, BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(SendMessageW(c3, BM_GETCHECK, 0, 0), BST_INDETERMINATE);
  EXPECT_EQ(SendMessageW(b, BM_GETCHECK, 0, 0), BST_UNCHECKED);  // push buttons have none
}

TEST_F(ButtonTest, ButtonsPaintWithTheSystemColoursAndTheParentBrush) {
  HWND push = Button(BS_PUSHBUTTON, 1, RECT{10, 10, 110, 40});
  HWND check = Button(BS_AUTOCHECKBOX, 2, RECT{10, 50, 110, 80});
  HBRUSH green = CreateSolidBrush(RGB(0, 128, 0));
  std::vector<UINT> asked;
  THandler logging = Handler();
  Handler() = [&](HWND h, UINT m, WPARAM w, LPARAM l, LRESULT& r) {
    if (h == Parent && (m == WM_CTLCOLORBTN || m == WM_CTLCOLORSTATIC)) {
      asked.push_back(m);
      r = LRESULT(green);
      return true;
    }
    return logging(h, m, w, l, r);
  };
  RedrawWindow(push, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  RedrawWindow(check, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  Screen.Compose();
  EXPECT_EQ(asked, (std::vector<UINT>{WM_CTLCOLORBTN, WM_CTLCOLORSTATIC}));
  EXPECT_EQ(Screen.Pixel(60, 20), GetSysColor(COLOR_BTNFACE));  // the push button's face
  EXPECT_EQ(Screen.Pixel(105, 52), RGB(0, 128, 0));             // the check box's background
  EXPECT_EQ(Screen.Pixel(10 + 6, 65), GetSysColor(COLOR_WINDOW));  // inside the check glyph
  Handler() = logging;
  DestroyWindow(check);
  DeleteObject(green);
}

TEST_F(ButtonTest, TheParentMayDestroyTheButtonInsideANotification) {
  for (UINT when : {UINT(WM_COMMAND), UINT(WM_DRAWITEM)}) {
    SCOPED_TRACE(when);
    HWND b = Button(BS_OWNERDRAW, 8);
    THandler logging = Handler();
    Handler() = [&](HWND h, UINT m, WPARAM w, LPARAM l, LRESULT& r) {
      if (h == Parent && m == when && IsWindow(b)) DestroyWindow(b);
      return logging(h, m, w, l, r);
    };
    ClickOn(b);
    EXPECT_FALSE(IsWindow(b));
    Handler() = logging;
    Screen.MouseMove(300, 200);
    Screen.Click(300, 200);
    Pump();
  }
}

// ---------------------------------------------------------------------------
// Static controls

TEST_F(ButtonTest, StaticControlsNotifyOnlyWithSsNotify) {
  HWND quiet = Control(u"STATIC", SS_LEFT, 11, RECT{10, 10, 110, 30}, u"Port:");
  HWND told = Control(u"STATIC", SS_LEFT | SS_NOTIFY, 12, RECT{10, 40, 110, 60}, u"Hız:");
  ClickOn(quiet);
  EXPECT_EQ(TakeEvents(), Strings{"parent:down"});  // transparent to the mouse
  ClickOn(told);
  EXPECT_EQ(TakeEvents(), Strings{"12:0"});
  RECT r;
  GetWindowRect(told, &r);
  Screen.DoubleClick(r.left + 3, r.top + 3);
  Pump();
  EXPECT_EQ(TakeEvents(), (Strings{"12:0", "12:1"}));
  EnableWindow(told, FALSE);
  EXPECT_EQ(TakeEvents(), Strings{"12:3"});
  EXPECT_EQ(SendMessageW(quiet, WM_GETDLGCODE, 0, 0), DLGC_STATIC);
}

TEST_F(ButtonTest, StaticImagesSizeTheControlAndPaint) {
  HDC screen = GetDC(nullptr);
  HBITMAP bmp = CreateCompatibleBitmap(screen, 24, 16);
  HDC mem = CreateCompatibleDC(screen);
  HGDIOBJ old = SelectObject(mem, bmp);
  RECT all{0, 0, 24, 16};
  HBRUSH blue = CreateSolidBrush(RGB(0, 0, 255));
  FillRect(mem, &all, blue);
  SelectObject(mem, old);
  DeleteDC(mem);
  ReleaseDC(nullptr, screen);
  HWND s = Control(u"STATIC", SS_BITMAP, 13, RECT{20, 20, 120, 120}, u"");
  EXPECT_EQ(SendMessageW(s, STM_SETIMAGE, IMAGE_BITMAP, LPARAM(bmp)), 0);
  EXPECT_EQ(SendMessageW(s, STM_GETIMAGE, IMAGE_BITMAP, 0), LRESULT(bmp));
  RECT r;
  GetClientRect(s, &r);
  EXPECT_EQ(r, (RECT{0, 0, 24, 16}));
  UpdateWindow(s);
  Screen.Compose();
  EXPECT_EQ(Screen.Pixel(30, 30), RGB(0, 0, 255));
  // a centred image keeps the control's size
  HWND c = Control(u"STATIC", SS_BITMAP | SS_CENTERIMAGE, 14, RECT{200, 20, 300, 120}, u"");
  SendMessageW(c, STM_SETIMAGE, IMAGE_BITMAP, LPARAM(bmp));
  GetClientRect(c, &r);
  EXPECT_EQ(r, (RECT{0, 0, 100, 100}));
  UpdateWindow(c);
  Screen.Compose();
  EXPECT_EQ(Screen.Pixel(250, 70), RGB(0, 0, 255));
  EXPECT_EQ(Screen.Pixel(205, 25), GetSysColor(COLOR_3DFACE));
  DestroyWindow(s);
  DestroyWindow(c);
  DeleteObject(bmp);
  DeleteObject(blue);
}

}  // namespace
