// The "LISTBOX" class on the headless backend: editing, searching, the
// selection modes driven by injected clicks and keys, owner drawing and its
// message order, multiple columns, no-data lists and the scroll bars.
#include <string>
#include <vector>

#include "WindowsFixture.h"
#include "platform/rtl/Conversions.h"
#include "platform/rtl/Strings.h"

using namespace win;
using namespace wintest;
using Strings = std::vector<std::string>;

namespace {

constexpr int kId = 7;

std::string Narrow(const String& s) { return std::string(s.begin(), s.end()); }

class ListBoxTest : public WindowsFixture {
 protected:
  void SetUp() override {
    WindowsFixture::SetUp();
    Parent = Make("parent", WS_POPUP | WS_VISIBLE, RECT{0, 0, 400, 300});
    SetActiveWindow(Parent);
    Pump();
    Handler() = [this](HWND h, UINT m, WPARAM w, LPARAM l, LRESULT& r) {
      if (h != Parent) return false;
      switch (m) {
        case WM_COMMAND:
          if (reinterpret_cast<HWND>(l) == Box && LOWORD(w) == kId) Events.push_back("cmd:" + std::to_string(HIWORD(w)));
          return false;
        case WM_DRAWITEM: {
          auto* d = reinterpret_cast<DRAWITEMSTRUCT*>(l);
          if (LogDraws)
            Events.push_back("draw:" + std::to_string(int(d->itemID)) + ":" + std::to_string(d->itemAction) + ":" +
                             std::to_string(d->itemState));
          Drawn.push_back(*d);
          r = TRUE;
          return true;
        }
        case WM_MEASUREITEM: {
          auto* mi = reinterpret_cast<MEASUREITEMSTRUCT*>(l);
          Events.push_back("measure:" + std::to_string(mi->itemID));
          mi->itemHeight = UINT(MeasureHeight(int(mi->itemID)));
          r = TRUE;
          return true;
        }
        case WM_DELETEITEM: {
          auto* di = reinterpret_cast<DELETEITEMSTRUCT*>(l);
          Events.push_back("delete:" + std::to_string(di->itemID) + ":" + std::to_string(di->itemData));
          r = TRUE;
          return true;
        }
        case WM_COMPAREITEM: {
          auto* ci = reinterpret_cast<COMPAREITEMSTRUCT*>(l);
          r = ci->itemData1 < ci->itemData2 ? -1 : ci->itemData1 > ci->itemData2 ? 1 : 0;
          return true;
        }
        case WM_VKEYTOITEM:
        case WM_CHARTOITEM:
          Events.push_back(std::string(m == WM_VKEYTOITEM ? "vkey:" : "char:") + std::to_string(LOWORD(w)) + ":" +
                           std::to_string(HIWORD(w)));
          r = KeyAnswer;
          return true;
        default:
          return false;
      }
    };
  }

  HWND List(DWORD style, RECT r = RECT{10, 10, 210, 110}) {
    Box = CreateWindowExW(0, u"LISTBOX", u"", WS_CHILD | WS_VISIBLE | style, r.left, r.top, r.right - r.left,
                          r.bottom - r.top, Parent, reinterpret_cast<HMENU>(uintptr_t(kId)), HInstance, nullptr);
    EXPECT_NE(Box, nullptr);
    Pump();
    return Box;
  }
  LRESULT Send(UINT m, WPARAM w = 0, LPARAM l = 0) { return SendMessageW(Box, m, w, l); }
  LRESULT Add(const char16_t* s) { return Send(LB_ADDSTRING, 0, LPARAM(s)); }
  void AddNumbered(int n) {
    for (int i = 0; i < n; ++i) {
      String s = u"item " + IntToStr(i);
      Add(s.c_str());
    }
  }
  Strings Texts() {
    Strings out;
    for (LRESULT i = 0, n = Send(LB_GETCOUNT); i < n; ++i) {
      std::u16string buf(size_t(Send(LB_GETTEXTLEN, WPARAM(i))) + 1, u'\0');
      Send(LB_GETTEXT, WPARAM(i), LPARAM(buf.data()));
      buf.pop_back();
      out.push_back(Narrow(buf));
    }
    return out;
  }
  std::vector<int> Selected() {
    std::vector<int> out(size_t(std::max<LRESULT>(0, Send(LB_GETSELCOUNT))));
    if (!out.empty()) Send(LB_GETSELITEMS, out.size(), LPARAM(out.data()));
    return out;
  }
  // The screen point in the middle of an item.
  POINT ItemPoint(int i) {
    RECT r{};
    Send(LB_GETITEMRECT, WPARAM(i), LPARAM(&r));
    POINT p{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    ClientToScreen(Box, &p);
    return p;
  }
  void ClickItem(int i) {
    POINT p = ItemPoint(i);
    Screen.Click(p.x, p.y);
    Pump();
  }
  void Press(UINT vk) {
    Screen.KeyPress(vk);
    Pump();
  }
  std::vector<std::string> TakeEvents() {
    auto e = Events;
    Events.clear();
    return e;
  }

  HWND Parent{}, Box{};
  Strings Events;
  std::vector<DRAWITEMSTRUCT> Drawn;
  bool LogDraws = true;
  LRESULT KeyAnswer = -1;
  std::function<int(int)> MeasureHeight = [](int) { return 20; };
};

// ---------------------------------------------------------------------------
// Editing and searching

TEST_F(ListBoxTest, EditingKeepsOrderAndAnswersIndexes) {
  struct Op {
    char kind;  // a add, i insert, d delete
    int index;
    const char16_t* text;
    LRESULT answer;
  };
  struct Case {
    const char* name;
    DWORD style;
    std::vector<Op> ops;
    Strings result;
  } cases[] = {
      {"unsorted adds append", 0, {{'a', 0, u"b", 0}, {'a', 0, u"a", 1}, {'a', 0, u"c", 2}}, {"b", "a", "c"}},
      {"sorted adds ignore case",
       LBS_SORT,
       {{'a', 0, u"b", 0}, {'a', 0, u"C", 1}, {'a', 0, u"a", 0}, {'a', 0, u"B", 2}},
       {"a", "b", "B", "C"}},
      {"insert places, -1 appends, past the end fails",
       LBS_SORT,
       {{'a', 0, u"x", 0}, {'i', 0, u"z", 0}, {'i', -1, u"a", 2}, {'i', 4, u"q", LB_ERR}},
       {"z", "x", "a"}},
      {"delete answers the remaining count",
       0,
       {{'a', 0, u"a", 0}, {'a', 0, u"b", 1}, {'a', 0, u"c", 2}, {'d', 1, nullptr, 2}, {'d', 5, nullptr, LB_ERR},
        {'d', -1, nullptr, LB_ERR}},
       {"a", "c"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    List(c.style);
    for (const Op& op : c.ops) {
      LRESULT r = op.kind == 'a'   ? Add(op.text)
                  : op.kind == 'i' ? Send(LB_INSERTSTRING, WPARAM(op.index), LPARAM(op.text))
                                   : Send(LB_DELETESTRING, WPARAM(op.index));
      EXPECT_EQ(r, op.answer);
    }
    EXPECT_EQ(Texts(), c.result);
    DestroyWindow(Box);
  }
}

TEST_F(ListBoxTest, FindStringSearchesAfterTheStartAndWrapsRound) {
  List(0);
  for (auto s : {u"Apple", u"apricot", u"Banana", u"apple"}) Add(s);
  struct Case {
    int start;
    const char16_t* text;
    bool exact;
    LRESULT found;
  } cases[] = {
      {-1, u"ap", false, 0}, {0, u"ap", false, 1}, {1, u"ap", false, 3}, {3, u"AP", false, 0},
      {-1, u"apple", true, 0}, {0, u"APPLE", true, 3}, {-1, u"app", true, LB_ERR}, {-1, u"cherry", false, LB_ERR},
      {99, u"ban", false, 2},
  };
  for (const Case& c : cases)
    EXPECT_EQ(Send(c.exact ? LB_FINDSTRINGEXACT : LB_FINDSTRING, WPARAM(c.start), LPARAM(c.text)), c.found)
        << c.start << " " << Narrow(c.text);
  // LB_SELECTSTRING selects what it finds, and nothing when it finds nothing
  EXPECT_EQ(Send(LB_SELECTSTRING, WPARAM(-1), LPARAM(u"ban")), 2);
  EXPECT_EQ(Send(LB_GETCURSEL), 2);
  EXPECT_EQ(Send(LB_SELECTSTRING, WPARAM(-1), LPARAM(u"zz")), LB_ERR);
  EXPECT_EQ(Send(LB_GETCURSEL), 2);
}

TEST_F(ListBoxTest, SelectionCaretAndDataFollowInsertsAndDeletes) {
  List(0);
  AddNumbered(5);
  for (int i = 0; i < 5; ++i) Send(LB_SETITEMDATA, WPARAM(i), LPARAM(100 + i));
  EXPECT_EQ(Send(LB_SETCURSEL, 3), 3);
  Send(LB_INSERTSTRING, 0, LPARAM(u"new"));
  EXPECT_EQ(Send(LB_GETCURSEL), 4);
  EXPECT_EQ(Send(LB_GETITEMDATA, 4), 103);
  EXPECT_EQ(Send(LB_GETITEMDATA, 0), 0);
  Send(LB_DELETESTRING, 1);
  EXPECT_EQ(Send(LB_GETCURSEL), 3);
  Send(LB_DELETESTRING, 3);  // the selected item goes
  EXPECT_EQ(Send(LB_GETCURSEL), LB_ERR);
  EXPECT_EQ(Send(LB_GETITEMDATA, 9), LB_ERR);
  EXPECT_EQ(Send(LB_SETCURSEL, 9), LB_ERR);
  EXPECT_EQ(Send(LB_GETTEXT, 9, LPARAM(nullptr)), LB_ERR);
  // single-selection lists refuse the multiple-selection messages
  EXPECT_EQ(Send(LB_SETSEL, TRUE, 0), LB_ERR);
  EXPECT_EQ(Send(LB_GETSELCOUNT), LB_ERR);
  Send(LB_RESETCONTENT);
  EXPECT_EQ(Send(LB_GETCOUNT), 0);
  EXPECT_EQ(Send(LB_GETCURSEL), LB_ERR);
}

// ---------------------------------------------------------------------------
// Selection by mouse and keyboard

TEST_F(ListBoxTest, SingleSelectionClickNotifiesOnceAfterTheFocus) {
  List(LBS_NOTIFY | LBS_NOINTEGRALHEIGHT);
  AddNumbered(5);
  ClickItem(2);
  EXPECT_EQ(Send(LB_GETCURSEL), 2);
  EXPECT_EQ(GetFocus(), Box);
  EXPECT_EQ(TakeEvents(), (Strings{"cmd:4", "cmd:1"}));  // LBN_SETFOCUS, LBN_SELCHANGE
  ClickItem(2);  // the same item again, quickly: a double click and no change
  EXPECT_EQ(TakeEvents(), Strings{"cmd:2"});
  // a drag with the button down follows the mouse and notifies at release
  POINT a = ItemPoint(1), b = ItemPoint(3);
  Screen.MouseDown(a.x, a.y);
  Screen.MouseMove(b.x, b.y);
  Pump();
  EXPECT_EQ(Send(LB_GETCURSEL), 3);
  EXPECT_EQ(TakeEvents(), Strings{});
  Screen.MouseUp(b.x, b.y);
  Pump();
  EXPECT_EQ(TakeEvents(), (Strings{"cmd:1"}));
  // a double click reports LBN_DBLCLK
  POINT d = ItemPoint(0);
  Screen.DoubleClick(d.x, d.y);
  Pump();
  EXPECT_EQ(TakeEvents(), (Strings{"cmd:1", "cmd:2"}));
  // without LBS_NOTIFY only the focus notifications come
  DestroyWindow(Box);
  List(0);
  AddNumbered(3);
  Events.clear();
  ClickItem(1);
  EXPECT_EQ(Send(LB_GETCURSEL), 1);
  EXPECT_EQ(TakeEvents(), (Strings{"cmd:4"}));
}

TEST_F(ListBoxTest, ExtendedSelectionWithShiftCtrlAndDrag) {
  List(LBS_EXTENDEDSEL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT, RECT{10, 10, 210, 210});
  AddNumbered(8);
  ClickItem(1);
  EXPECT_EQ(Selected(), (std::vector<int>{1}));
  Screen.KeyDown(VK_SHIFT);
  ClickItem(4);
  Screen.KeyUp(VK_SHIFT);
  Pump();
  EXPECT_EQ(Selected(), (std::vector<int>{1, 2, 3, 4}));
  Screen.KeyDown(VK_CONTROL);
  ClickItem(2);
  ClickItem(6);
  Screen.KeyUp(VK_CONTROL);
  Pump();
  EXPECT_EQ(Selected(), (std::vector<int>{1, 3, 4, 6}));
  EXPECT_EQ(Send(LB_GETCARETINDEX), 6);
  EXPECT_EQ(Send(LB_GETANCHORINDEX), 6);
  // a plain drag selects the range from the press to the mouse only
  POINT a = ItemPoint(5), b = ItemPoint(2);
  Screen.MouseDown(a.x, a.y);
  Screen.MouseMove(b.x, b.y);
  Pump();
  Screen.MouseUp(b.x, b.y);
  Pump();
  EXPECT_EQ(Selected(), (std::vector<int>{2, 3, 4, 5}));
  // keys: Shift+Down extends from the anchor, a plain arrow collapses
  Press(VK_HOME);
  EXPECT_EQ(Selected(), (std::vector<int>{0}));
  Screen.KeyDown(VK_SHIFT);
  Press(VK_DOWN);
  Press(VK_DOWN);
  Screen.KeyUp(VK_SHIFT);
  Pump();
  EXPECT_EQ(Selected(), (std::vector<int>{0, 1, 2}));
  // Ctrl+arrow moves only the caret, Ctrl+Space toggles
  Screen.KeyDown(VK_CONTROL);
  Press(VK_DOWN);
  Press(VK_DOWN);
  Press(VK_SPACE);
  Screen.KeyUp(VK_CONTROL);
  Pump();
  EXPECT_EQ(Selected(), (std::vector<int>{0, 1, 2, 4}));
}

TEST_F(ListBoxTest, MultipleSelectionTogglesAndRangeMessages) {
  List(LBS_MULTIPLESEL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT, RECT{10, 10, 210, 210});
  AddNumbered(8);
  ClickItem(1);
  ClickItem(3);
  ClickItem(1);
  EXPECT_EQ(Selected(), (std::vector<int>{3}));
  Events.clear();
  Press(VK_DOWN);  // the caret moves, the selection stays
  EXPECT_EQ(Send(LB_GETCARETINDEX), 2);
  Press(VK_SPACE);
  EXPECT_EQ(Selected(), (std::vector<int>{2, 3}));
  EXPECT_EQ(TakeEvents(), (Strings{"cmd:1"}));
  EXPECT_EQ(Send(LB_SETCURSEL, 1), LB_ERR);
  EXPECT_EQ(Send(LB_SELITEMRANGE, TRUE, MAKELPARAM(5, 6)), LB_OKAY);
  EXPECT_EQ(Send(LB_SELITEMRANGEEX, 3, 2), LB_OKAY);  // first > last deselects
  EXPECT_EQ(Selected(), (std::vector<int>{5, 6}));
  Send(LB_SETSEL, TRUE, -1);
  EXPECT_EQ(Send(LB_GETSELCOUNT), 8);
  Send(LB_SETSEL, FALSE, 4);
  EXPECT_EQ(Send(LB_GETSEL, 4), 0);
  EXPECT_EQ(Send(LB_GETSEL, 5), 1);
  EXPECT_EQ(Send(LB_SETSEL, TRUE, 8), LB_ERR);
  EXPECT_EQ(TakeEvents(), Strings{});  // messages do not notify
}

TEST_F(ListBoxTest, NavigationKeysMoveTheSelectionAndScroll) {
  List(LBS_NOTIFY | WS_VSCROLL);
  AddNumbered(30);
  int visible = int(Send(LB_GETITEMHEIGHT));
  RECT c;
  GetClientRect(Box, &c);
  visible = c.bottom / visible;
  ASSERT_GT(visible, 2);
  SetFocus(Box);
  Pump();
  struct Step {
    UINT key;
    int sel, top;
  } steps[] = {
      {VK_DOWN, 0, 0},                                // nothing selected yet: the caret item
      {VK_DOWN, 1, 0},
      {VK_NEXT, visible - 1, 0},                      // to the last item wholly shown
      {VK_NEXT, 2 * visible - 2, visible - 1},        // then a page on
      {VK_END, 29, 30 - visible},
      {VK_UP, 28, 30 - visible},
      {VK_PRIOR, 30 - visible, 30 - visible},         // to the top item
      {VK_HOME, 0, 0},
  };
  for (const Step& s : steps) {
    Press(s.key);
    EXPECT_EQ(Send(LB_GETCURSEL), s.sel) << s.key;
    EXPECT_EQ(Send(LB_GETTOPINDEX), s.top) << s.key;
  }
  // type-ahead: the next item starting with the letter, round the end
  Send(LB_RESETCONTENT);
  for (auto s : {u"bir", u"iki", u"beş", u"Bin"}) Add(s);
  Send(LB_SETCURSEL, 0);
  Screen.TypeText(u"b");
  Pump();
  EXPECT_EQ(Send(LB_GETCURSEL), 2);
  Screen.TypeText(u"b");
  Pump();
  EXPECT_EQ(Send(LB_GETCURSEL), 3);
  Screen.TypeText(u"b");
  Pump();
  EXPECT_EQ(Send(LB_GETCURSEL), 0);
  Screen.TypeText(u"x");
  Pump();
  EXPECT_EQ(Send(LB_GETCURSEL), 0);
}

TEST_F(ListBoxTest, KeyboardInputIsOfferedToTheParentFirst) {
  List(LBS_WANTKEYBOARDINPUT);
  AddNumbered(10);
  Send(LB_SETCURSEL, 2);
  SetFocus(Box);
  Pump();
  Events.clear();
  KeyAnswer = -2;  // handled: the list does nothing
  Press(VK_DOWN);
  EXPECT_EQ(Send(LB_GETCURSEL), 2);
  KeyAnswer = 6;  // go to an item
  Press(VK_DOWN);
  EXPECT_EQ(Send(LB_GETCURSEL), 6);
  KeyAnswer = -1;  // the default action
  Press(VK_DOWN);
  EXPECT_EQ(Send(LB_GETCURSEL), 7);
  Strings keys;
  for (auto& e : TakeEvents())
    if (e.rfind("vkey:", 0) == 0) keys.push_back(e);
  EXPECT_EQ(keys, (Strings{"vkey:40:2", "vkey:40:2", "vkey:40:6"}));
  // owner-drawn lists without strings ask WM_CHARTOITEM for characters
  DestroyWindow(Box);
  List(LBS_WANTKEYBOARDINPUT | LBS_OWNERDRAWFIXED);
  for (int i = 0; i < 5; ++i) Send(LB_ADDSTRING, 0, LPARAM(10 + i));
  SetFocus(Box);
  Pump();
  LogDraws = false;
  Events.clear();
  KeyAnswer = 3;
  Screen.TypeText(u"a");
  Pump();
  EXPECT_EQ(Send(LB_GETCURSEL), 3);
  Strings chars;
  for (auto& e : TakeEvents())
    if (e.rfind("char:", 0) == 0) chars.push_back(e);
  EXPECT_EQ(chars, (Strings{"char:97:3"}));  // after WM_VKEYTOITEM moved the caret
}

// ---------------------------------------------------------------------------
// Owner drawing

TEST_F(ListBoxTest, OwnerDrawMessagesAndTheirOrder) {
  List(LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT, RECT{10, 10, 210, 110});
  EXPECT_EQ(TakeEvents(), (Strings{"measure:0"}));  // once, at creation
  EXPECT_EQ(Send(LB_GETITEMHEIGHT), 20);
  AddNumbered(8);
  Send(LB_SETCURSEL, 0);
  Pump();
  Events.clear();
  // painting draws the visible items whole: 100 pixels of 20-pixel items
  RedrawWindow(Box, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  EXPECT_EQ(TakeEvents(), (Strings{"draw:0:1:1", "draw:1:1:0", "draw:2:1:0", "draw:3:1:0", "draw:4:1:0"}));
  EXPECT_EQ(Drawn.back().rcItem, (RECT{0, 80, 200, 100}));
  EXPECT_EQ(Drawn.back().hwndItem, Box);
  EXPECT_EQ(Drawn.back().CtlType, ODT_LISTBOX);
  // focus, then a key moving the selection: focus off the old caret, the
  // selection changes, focus on the new caret
  SetFocus(Box);
  Pump();
  EXPECT_EQ(TakeEvents(), (Strings{"draw:0:4:17", "cmd:4"}));
  Press(VK_DOWN);
  EXPECT_EQ(TakeEvents(), (Strings{"draw:0:4:0", "draw:0:2:0", "draw:1:2:17", "draw:1:4:17", "cmd:1"}));
  // disabled lists draw their items disabled
  EnableWindow(Box, FALSE);
  Drawn.clear();
  UpdateWindow(Box);
  ASSERT_FALSE(Drawn.empty());
  EXPECT_EQ(Drawn[0].itemState & ODS_DISABLED, ODS_DISABLED);
  EnableWindow(Box, TRUE);
  // an empty list with the focus draws the focus in the first item's place
  Send(LB_RESETCONTENT);
  SetFocus(Parent);
  Pump();
  Events.clear();
  SetFocus(Box);
  Pump();
  EXPECT_EQ(TakeEvents(), (Strings{"draw:-1:4:16", "cmd:4"}));
}

TEST_F(ListBoxTest, VariableHeightsAreMeasuredPerItem) {
  MeasureHeight = [](int i) { return 10 + 5 * i; };
  List(LBS_OWNERDRAWVARIABLE | LBS_HASSTRINGS, RECT{10, 10, 210, 60});
  AddNumbered(4);
  EXPECT_EQ(TakeEvents(), (Strings{"measure:0", "measure:1", "measure:2", "measure:3"}));
  EXPECT_EQ(Send(LB_GETITEMHEIGHT, 2), 20);
  RECT r{};
  Send(LB_GETITEMRECT, 2, LPARAM(&r));
  EXPECT_EQ(r.top, 25);
  EXPECT_EQ(r.bottom, 45);
  // hit testing walks the heights; past the last item is outside
  EXPECT_EQ(Send(LB_ITEMFROMPOINT, 0, MAKELPARAM(5, 24)), 1);
  EXPECT_EQ(Send(LB_ITEMFROMPOINT, 0, MAKELPARAM(5, 25)), 2);
  EXPECT_EQ(Send(LB_SETITEMHEIGHT, 0, MAKELPARAM(30, 0)), LB_OKAY);
  EXPECT_EQ(Send(LB_GETITEMHEIGHT, 0), 30);
  EXPECT_EQ(Send(LB_GETITEMHEIGHT, 1), 15);
  EXPECT_EQ(Send(LB_SETITEMHEIGHT, 0, MAKELPARAM(256, 0)), LB_ERR);
}

TEST_F(ListBoxTest, ItemsWithDataAreDeletedThroughTheParentAndSortedByIt) {
  LogDraws = false;
  List(LBS_OWNERDRAWFIXED | LBS_SORT);
  for (LPARAM d : {30, 10, 20, 0}) Send(LB_ADDSTRING, 0, d);
  std::vector<LRESULT> order;
  for (int i = 0; i < 4; ++i) order.push_back(Send(LB_GETITEMDATA, i));
  EXPECT_EQ(order, (std::vector<LRESULT>{0, 10, 20, 30}));
  EXPECT_EQ(Send(LB_FINDSTRING, WPARAM(-1), 20), 2);  // no strings: the data is compared
  Events.clear();
  Send(LB_DELETESTRING, 1);
  EXPECT_EQ(TakeEvents(), (Strings{"delete:1:10"}));
  Send(LB_RESETCONTENT);  // item 0 has no data: no message for it
  EXPECT_EQ(TakeEvents(), (Strings{"delete:1:20", "delete:2:30"}));
  Send(LB_ADDSTRING, 0, 5);
  DestroyWindow(Box);
  EXPECT_EQ(TakeEvents(), (Strings{"delete:0:5"}));
}

TEST_F(ListBoxTest, TheParentMayDestroyTheListInsideANotification) {
  // Destroyed while it notifies or asks for drawing, the list finishes the
  // message without touching what it freed (the sanitizer watches).
  for (UINT when : {UINT(WM_COMMAND), UINT(WM_DRAWITEM)}) {
    SCOPED_TRACE(when);
    List(LBS_NOTIFY | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS);
    AddNumbered(5);
    SetFocus(Box);
    Pump();
    HWND victim = Box;
    THandler logging = Handler();
    Handler() = [&](HWND h, UINT m, WPARAM w, LPARAM l, LRESULT& r) {
      if (h == Parent && m == when && IsWindow(victim)) DestroyWindow(victim);
      return logging(h, m, w, l, r);
    };
    Press(VK_DOWN);
    EXPECT_FALSE(IsWindow(victim));
    Handler() = logging;
  }
}

// ---------------------------------------------------------------------------
// Columns, no-data lists, scroll bars

TEST_F(ListBoxTest, MultiColumnHitTestingAndColumnScrolling) {
  List(LBS_MULTICOLUMN | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT | WS_HSCROLL,
       RECT{10, 10, 160, 77});
  LogDraws = false;
  Send(LB_SETCOLUMNWIDTH, 50);
  AddNumbered(3);
  SCROLLBARINFO sbi;
  sbi.cbSize = sizeof sbi;
  ASSERT_TRUE(GetScrollBarInfo(Box, OBJID_HSCROLL, &sbi));
  EXPECT_EQ(sbi.rgstate[0] & STATE_SYSTEM_INVISIBLE, STATE_SYSTEM_INVISIBLE);
  AddNumbered(17);  // 20 items, 3 rows of 20 pixels once the bar takes its place
  ASSERT_TRUE(GetScrollBarInfo(Box, OBJID_HSCROLL, &sbi));
  EXPECT_EQ(sbi.rgstate[0] & STATE_SYSTEM_INVISIBLE, 0u);
  RECT c;
  GetClientRect(Box, &c);
  ASSERT_EQ(c.bottom, 67 - GetSystemMetrics(SM_CYHSCROLL));
  int rows = c.bottom / 20;
  ASSERT_EQ(rows, 2);
  struct Case {
    int x, y, item, outside;
  } cases[] = {{5, 5, 0, 0}, {5, 25, 1, 0}, {55, 5, 2, 0}, {105, 25, 5, 0}, {149, 45, 5, 1}, {-3, 5, 0, 1}};
  for (const Case& k : cases) {
    LRESULT r = Send(LB_ITEMFROMPOINT, 0, MAKELPARAM(WORD(k.x), WORD(k.y)));
    EXPECT_EQ(LOWORD(r), k.item) << k.x << "," << k.y;
    EXPECT_EQ(HIWORD(r), k.outside) << k.x << "," << k.y;
  }
  RECT r{};
  Send(LB_GETITEMRECT, 5, LPARAM(&r));
  EXPECT_EQ(r, (RECT{100, 20, 150, 40}));
  // Right moves by a column; past the shown columns the list scrolls by columns
  Send(LB_SETCURSEL, 1);
  SetFocus(Box);
  Pump();
  Press(VK_RIGHT);
  Press(VK_RIGHT);
  Press(VK_RIGHT);
  EXPECT_EQ(Send(LB_GETCURSEL), 7);
  EXPECT_EQ(Send(LB_GETTOPINDEX), 2);
  EXPECT_EQ(GetScrollPos(Box, SB_HORZ), 1);
  SendMessageW(Box, WM_HSCROLL, SB_RIGHT, 0);
  EXPECT_EQ(Send(LB_GETTOPINDEX), 14);  // 10 columns, 3 shown
}

TEST_F(ListBoxTest, NoDataListsHoldACountAndDrawOnlyWhatShows) {
  List(LBS_NODATA | LBS_OWNERDRAWFIXED | LBS_EXTENDEDSEL | LBS_NOINTEGRALHEIGHT | WS_VSCROLL);
  EXPECT_EQ(Send(LB_ADDSTRING, 0, LPARAM(u"x")), LB_ERR);
  EXPECT_EQ(Send(LB_SETCOUNT, 100000), LB_OKAY);
  EXPECT_EQ(Send(LB_GETCOUNT), 100000);
  EXPECT_EQ(Send(LB_GETTEXT, 5, 0), LB_ERR);
  EXPECT_EQ(Send(LB_SELITEMRANGEEX, 10, 99990), LB_OKAY);
  EXPECT_EQ(Send(LB_GETSELCOUNT), 99981);
  Send(LB_SETTOPINDEX, 50000);
  Drawn.clear();
  LogDraws = false;
  UpdateWindow(Box);
  ASSERT_EQ(Drawn.size(), 5u);  // 100 pixels of 20-pixel items
  EXPECT_EQ(Drawn[0].itemID, 50000u);
  EXPECT_EQ(Drawn[0].itemData, 0u);
  EXPECT_EQ(Drawn[0].itemState & ODS_SELECTED, ODS_SELECTED);
  SCROLLINFO si;
  si.cbSize = sizeof si;
  si.fMask = SIF_ALL;
  ASSERT_TRUE(GetScrollInfo(Box, SB_VERT, &si));
  EXPECT_EQ(si.nMax, 99999);
  EXPECT_EQ(si.nPos, 50000);
  // shrinking the count drops what lies beyond it
  EXPECT_EQ(Send(LB_SETCOUNT, 20), LB_OKAY);
  EXPECT_EQ(Send(LB_GETSELCOUNT), 10);
  EXPECT_EQ(Send(LB_GETTOPINDEX), 15);
  // a list with strings has no count to set
  DestroyWindow(Box);
  List(0);
  EXPECT_EQ(Send(LB_SETCOUNT, 10), LB_ERR);
}

TEST_F(ListBoxTest, ScrollBarsFollowTheContent) {
  List(WS_VSCROLL | WS_HSCROLL | LBS_NOINTEGRALHEIGHT);
  auto shown = [&](LONG obj) {
    SCROLLBARINFO sbi;
    sbi.cbSize = sizeof sbi;
    GetScrollBarInfo(Box, obj, &sbi);
    return (sbi.rgstate[0] & STATE_SYSTEM_INVISIBLE) == 0;
  };
  AddNumbered(2);
  EXPECT_FALSE(shown(OBJID_VSCROLL));
  EXPECT_FALSE(shown(OBJID_HSCROLL));
  AddNumbered(30);
  EXPECT_TRUE(shown(OBJID_VSCROLL));
  int ih = int(Send(LB_GETITEMHEIGHT));
  RECT c;
  GetClientRect(Box, &c);
  SCROLLINFO si;
  si.cbSize = sizeof si;
  si.fMask = SIF_ALL;
  GetScrollInfo(Box, SB_VERT, &si);
  EXPECT_EQ(si.nMax, 31);
  EXPECT_EQ(int(si.nPage), c.bottom / ih);
  SendMessageW(Box, WM_VSCROLL, SB_LINEDOWN, 0);
  SendMessageW(Box, WM_VSCROLL, SB_LINEDOWN, 0);
  EXPECT_EQ(Send(LB_GETTOPINDEX), 2);
  EXPECT_EQ(GetScrollPos(Box, SB_VERT), 2);
  SendMessageW(Box, WM_VSCROLL, SB_BOTTOM, 0);
  EXPECT_EQ(Send(LB_GETTOPINDEX), 32 - c.bottom / ih);
  EXPECT_EQ(Send(LB_SETTOPINDEX, 40), LB_ERR);
  // the mouse wheel scrolls by the system's lines
  SendMessageW(Box, WM_MOUSEWHEEL, MAKEWPARAM(0, WORD(WHEEL_DELTA)), 0);
  EXPECT_EQ(Send(LB_GETTOPINDEX), 32 - c.bottom / ih - 3);
  // a horizontal extent wider than the list shows the horizontal bar
  Send(LB_SETHORIZONTALEXTENT, 500);
  EXPECT_TRUE(shown(OBJID_HSCROLL));
  SendMessageW(Box, WM_HSCROLL, SB_PAGERIGHT, 0);
  RECT r{};
  Send(LB_GETITEMRECT, 0, LPARAM(&r));
  GetClientRect(Box, &c);
  EXPECT_EQ(r.left, -c.right);
  Send(LB_RESETCONTENT);
  EXPECT_FALSE(shown(OBJID_VSCROLL));
  // LBS_DISABLENOSCROLL keeps the bar, disabled
  DestroyWindow(Box);
  List(WS_VSCROLL | LBS_DISABLENOSCROLL);
  AddNumbered(2);
  ASSERT_TRUE(shown(OBJID_VSCROLL));
  SCROLLBARINFO sbi;
  sbi.cbSize = sizeof sbi;
  GetScrollBarInfo(Box, OBJID_VSCROLL, &sbi);
  EXPECT_EQ(sbi.rgstate[0] & STATE_SYSTEM_UNAVAILABLE, STATE_SYSTEM_UNAVAILABLE);
}

TEST_F(ListBoxTest, IntegralHeightCutsTheListToWholeItems) {
  List(0, RECT{10, 10, 110, 110});
  int ih = int(Send(LB_GETITEMHEIGHT));
  RECT c;
  GetClientRect(Box, &c);
  EXPECT_EQ(c.bottom % ih, 0);
  EXPECT_LE(c.bottom, 100);
  EXPECT_GT(c.bottom, 100 - ih);
  DestroyWindow(Box);
  List(LBS_NOINTEGRALHEIGHT, RECT{10, 10, 110, 110});
  GetClientRect(Box, &c);
  EXPECT_EQ(c.bottom, 100);
}

TEST_F(ListBoxTest, PlainListsPaintInTheSystemAndParentColours) {
  List(LBS_NOINTEGRALHEIGHT);
  AddNumbered(3);
  Send(LB_SETCURSEL, 1);
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  bool asked = false;
  THandler logging = Handler();
  Handler() = [&](HWND h, UINT m, WPARAM w, LPARAM l, LRESULT& r) {
    if (h == Parent && m == WM_CTLCOLORLISTBOX && reinterpret_cast<HWND>(l) == Box) {
      asked = true;
      r = LRESULT(red);
      return true;
    }
    return logging(h, m, w, l, r);
  };
  RedrawWindow(Box, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  Screen.Compose();
  EXPECT_TRUE(asked);
  RECT r0{}, r1{};
  Send(LB_GETITEMRECT, 0, LPARAM(&r0));
  Send(LB_GETITEMRECT, 1, LPARAM(&r1));
  // right edge of the rows, where no text lies; the parent origin is the screen's
  EXPECT_EQ(Screen.Pixel(10 + r0.right - 3, 10 + r0.top + 1), RGB(255, 0, 0));
  EXPECT_EQ(Screen.Pixel(10 + r1.right - 3, 10 + r1.top + 1), GetSysColor(COLOR_HIGHLIGHT));
  EXPECT_EQ(Screen.Pixel(10 + 100, 10 + 95), RGB(255, 0, 0));  // below the items
  Handler() = logging;
  DestroyWindow(Box);
  DeleteObject(red);
}

}  // namespace
