// Windows and messages: creation and destruction order, the tree, window
// procedures and subclassing, sizing and showing, the queue, cross-thread
// sends, nested loops, timers and hooks.
#include <atomic>
#include <thread>

#include "WindowsFixture.h"
#include "platform/classes/Threads.h"

using namespace win;
using namespace wintest;
using Strings = std::vector<std::string>;

namespace {

class WindowsTest : public WindowsFixture {};

TEST_F(WindowsTest, CreationSendsMessagesInPlatformOrder) {
  Make("top", WS_OVERLAPPEDWINDOW, RECT{10, 10, 310, 210});
  EXPECT_EQ(Take(), (Strings{"top:WM_NCCREATE", "top:WM_NCCALCSIZE", "top:WM_CREATE", "top:WM_SIZE", "top:WM_MOVE"}));

  LogFilter() = {WM_GETMINMAXINFO, WM_NCCREATE, WM_CREATE, WM_PARENTNOTIFY};
  HWND top = Make("top2", WS_OVERLAPPEDWINDOW, RECT{10, 10, 310, 210});
  EXPECT_EQ(Take(), (Strings{"top2:WM_GETMINMAXINFO", "top2:WM_NCCREATE", "top2:WM_CREATE"}));
  Make("child", WS_CHILD, RECT{0, 0, 50, 20}, top);
  EXPECT_EQ(Take(), (Strings{"child:WM_NCCREATE", "child:WM_CREATE", "top2:WM_PARENTNOTIFY"}));
}

TEST_F(WindowsTest, CreationFailsWhenCreateAnswersMinusOne) {
  Handler() = [](HWND, UINT m, WPARAM, LPARAM, LRESULT& r) {
    if (m != WM_CREATE) return false;
    r = -1;
    return true;
  };
  HWND h = CreateWindowExW(0, u"WinTest", u"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, HInstance, nullptr);
  EXPECT_EQ(h, nullptr);
  EXPECT_EQ(CreateWindowExW(0, u"NoSuchClass", u"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, HInstance, nullptr),
            nullptr);
  EXPECT_EQ(CreateWindowExW(0, u"WinTest", u"", WS_CHILD, 0, 0, 1, 1, nullptr, nullptr, HInstance, nullptr),
            nullptr);
}

TEST_F(WindowsTest, DestroySendsDestroyParentFirstAndNcDestroyChildrenFirst) {
  HWND top = Make("top", WS_POPUP | WS_VISIBLE, RECT{0, 0, 200, 200});
  HWND child = Make("child", WS_CHILD | WS_VISIBLE, RECT{0, 0, 100, 100}, top);
  Make("grand", WS_CHILD | WS_VISIBLE, RECT{0, 0, 50, 50}, child);
  Make("owned", WS_POPUP, RECT{0, 0, 10, 10}, top);
  LogFilter() = {WM_WINDOWPOSCHANGING, WM_WINDOWPOSCHANGED, WM_DESTROY, WM_NCDESTROY};
  Clear();
  EXPECT_TRUE(DestroyWindow(top));
  EXPECT_EQ(Take(), (Strings{"top:WM_WINDOWPOSCHANGING", "top:WM_WINDOWPOSCHANGED", "owned:WM_DESTROY",
                             "owned:WM_NCDESTROY", "top:WM_DESTROY", "child:WM_DESTROY", "grand:WM_DESTROY",
                             "grand:WM_NCDESTROY", "child:WM_NCDESTROY", "top:WM_NCDESTROY"}));
  EXPECT_FALSE(IsWindow(top));
  EXPECT_FALSE(IsWindow(child));
  EXPECT_FALSE(DestroyWindow(top));
}

TEST_F(WindowsTest, TreeZOrderOwnerAndReparenting) {
  HWND top = Make("top", WS_POPUP, RECT{0, 0, 200, 200});
  HWND a = Make("a", WS_CHILD, RECT{0, 0, 10, 10}, top);
  HWND b = Make("b", WS_CHILD, RECT{0, 0, 10, 10}, top);
  HWND pop = Make("pop", WS_POPUP, RECT{0, 0, 10, 10}, a);
  // a new child goes on top of its siblings
  EXPECT_EQ(GetWindow(top, GW_CHILD), b);
  EXPECT_EQ(GetWindow(b, GW_HWNDNEXT), a);
  EXPECT_EQ(GetWindow(a, GW_HWNDPREV), b);
  EXPECT_EQ(GetWindow(a, GW_HWNDNEXT), nullptr);
  // a popup made with a child as parent is owned by that child's top-level window
  EXPECT_EQ(GetWindow(pop, GW_OWNER), top);
  EXPECT_EQ(GetParent(pop), top);
  EXPECT_EQ(GetParent(a), top);
  EXPECT_TRUE(IsChild(top, a));
  EXPECT_FALSE(IsChild(top, pop));
  SetWindowPos(a, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  EXPECT_EQ(GetWindow(top, GW_CHILD), a);
  SetWindowPos(a, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  EXPECT_EQ(GetWindow(top, GW_CHILD), b);
  // to the desktop and back
  EXPECT_EQ(SetParent(a, nullptr), top);
  EXPECT_EQ(GetAncestor(a, GA_PARENT), GetDesktopWindow());
  EXPECT_FALSE(IsChild(top, a));
  EXPECT_EQ(SetParent(a, top), GetDesktopWindow());
  EXPECT_TRUE(IsChild(top, a));
  EXPECT_EQ(SetParent(top, a), nullptr);  // a window cannot go below its own child
}

TEST_F(WindowsTest, WindowLongsAndProperties) {
  HWND h = Make("w", WS_POPUP | WS_BORDER, RECT{0, 0, 100, 100});
  EXPECT_EQ(DWORD(GetWindowLongPtrW(h, GWL_STYLE)) & WS_BORDER, WS_BORDER);
  SetWindowLongPtrW(h, GWLP_USERDATA, 0x1234);
  EXPECT_EQ(GetWindowLongPtrW(h, GWLP_USERDATA), 0x1234);
  LogFilter() = {WM_STYLECHANGING, WM_STYLECHANGED};
  Clear();
  SetWindowLongPtrW(h, GWL_EXSTYLE, WS_EX_TOOLWINDOW);
  EXPECT_EQ(Take(), (Strings{"w:WM_STYLECHANGING", "w:WM_STYLECHANGED"}));
  EXPECT_EQ(GetWindowLongPtrW(h, GWL_EXSTYLE), LONG_PTR(WS_EX_TOOLWINDOW));
  EXPECT_EQ(GetWindowLongPtrW(h, 1000), 0);  // beyond the extra bytes
  SetPropW(h, u"Tag", reinterpret_cast<HANDLE>(7));
  EXPECT_EQ(GetPropW(h, u"TAG"), reinterpret_cast<HANDLE>(7));
  EXPECT_EQ(RemovePropW(h, u"tag"), reinterpret_cast<HANDLE>(7));
  EXPECT_EQ(GetPropW(h, u"Tag"), nullptr);
  SetWindowTextW(h, u"Başlık");
  WCHAR buf[4];
  EXPECT_EQ(GetWindowTextW(h, buf, 4), 3);
  EXPECT_EQ(String(buf), u"Baş");
  EXPECT_EQ(GetWindowTextLengthW(h), 6);
  EXPECT_EQ(RegisterWindowMessageW(u"WM_NBUPDATENONCLIENTAREA"), RegisterWindowMessageW(u"wm_nbupdatenonclientarea"));
  EXPECT_GE(RegisterWindowMessageW(u"nbWM_LB_SYNCHRONIZE"), 0xC000u);
}

// ---------------------------------------------------------------------------
// Window procedures

struct TTarget {
  int Calls = 0;
  UINT LastMsg = 0;
  void WndProc(TMessage& M) {
    ++Calls;
    LastMsg = M.Msg;
    M.Result = 42;
  }
  void Other(TMessage& M) { M.Result = 7; }
};

WNDPROC SavedProc;
LRESULT Subclass(HWND h, UINT m, WPARAM w, LPARAM l) {
  if (m == WM_USER + 1) return 99;
  return CallWindowProcW(SavedProc, h, m, w, l);
}

TEST_F(WindowsTest, ObjectInstancesAreStoredComparedInstalledAndCalled) {
  TTarget t;
  WNDPROC a = MakeObjectInstance(TWndMethod(&t, &TTarget::WndProc));
  WNDPROC b = MakeObjectInstance(TWndMethod(&t, &TTarget::Other));
  EXPECT_TRUE(a.IsObjectInstance());
  EXPECT_FALSE(WNDPROC(&LogProc).IsObjectInstance());
  EXPECT_FALSE(a == b);
  EXPECT_TRUE(a == WNDPROC::FromLongPtr(a.ToLongPtr()));
  HWND h = Make("w", WS_POPUP, RECT{0, 0, 10, 10});
  LONG_PTR old = SetWindowLongPtrW(h, GWLP_WNDPROC, a.ToLongPtr());
  EXPECT_TRUE(WNDPROC::FromLongPtr(old) == WNDPROC(&LogProc));
  EXPECT_EQ(SendMessageW(h, WM_USER, 0, 0), 42);
  EXPECT_EQ(t.LastMsg, WM_USER);
  EXPECT_EQ(CallWindowProcW(b, h, WM_USER, 0, 0), 7);
  SetWindowLongPtrW(h, GWLP_WNDPROC, old);
  FreeObjectInstance(a);
  FreeObjectInstance(b);
  EXPECT_FALSE(a.IsObjectInstance());
  EXPECT_EQ(a(h, WM_USER, 0, 0), 0);  // a freed instance is inert

  HWND u = AllocateHWnd(TWndMethod(&t, &TTarget::WndProc));
  int before = t.Calls;
  EXPECT_EQ(SendMessageW(u, WM_USER + 5, 0, 0), 42);
  EXPECT_EQ(t.Calls, before + 1);
  EXPECT_FALSE(IsWindowVisible(u));
  DeallocateHWnd(u);
  EXPECT_FALSE(IsWindow(u));
}

TEST_F(WindowsTest, SubclassingChainsToTheSavedProcedure) {
  HWND h = Make("w", WS_POPUP, RECT{0, 0, 10, 10});
  SavedProc = WNDPROC::FromLongPtr(SetWindowLongPtrW(h, GWLP_WNDPROC, WNDPROC(&Subclass).ToLongPtr()));
  LogFilter() = {WM_USER + 1, WM_USER + 2};
  Clear();
  EXPECT_EQ(SendMessageW(h, WM_USER + 1, 0, 0), 99);
  SendMessageW(h, WM_USER + 2, 0, 0);
  EXPECT_EQ(Take(), (Strings{"w:WM_USER+2"}));  // only the chained message reached the old procedure
  SetWindowLongPtrW(h, GWLP_WNDPROC, SavedProc.ToLongPtr());
  EXPECT_EQ(SendMessageW(h, WM_USER + 1, 0, 0), 0);
}

// ---------------------------------------------------------------------------
// Sizing and showing

TEST_F(WindowsTest, SetWindowPosSendsChangingCalcSizeChangedSizeMove) {
  HWND h = Make("w", WS_POPUP | WS_BORDER | WS_VSCROLL, RECT{0, 0, 100, 100}, nullptr, WS_EX_CLIENTEDGE);
  RECT c;
  GetClientRect(h, &c);
  // border 1 + client edge 2 on each side, the vertical bar on the right
  EXPECT_EQ(c.right, 100 - 6 - GetSystemMetrics(SM_CXVSCROLL));
  EXPECT_EQ(c.bottom, 94);
  Clear();
  SetWindowPos(h, nullptr, 20, 30, 200, 150, SWP_NOZORDER | SWP_NOACTIVATE);
  EXPECT_EQ(Take(), (Strings{"w:WM_WINDOWPOSCHANGING", "w:WM_NCCALCSIZE", "w:WM_WINDOWPOSCHANGED", "w:WM_MOVE",
                             "w:WM_SIZE"}));
  RECT r;
  GetWindowRect(h, &r);
  EXPECT_EQ(r, (RECT{20, 30, 220, 180}));
  // only moving: no WM_SIZE
  SetWindowPos(h, nullptr, 25, 30, 0, 0, SWP_NOZORDER | SWP_NOSIZE | SWP_NOACTIVATE);
  EXPECT_EQ(Take(), (Strings{"w:WM_WINDOWPOSCHANGING", "w:WM_NCCALCSIZE", "w:WM_WINDOWPOSCHANGED", "w:WM_MOVE"}));
  // the changing handler may veto the move
  Handler() = [](HWND, UINT m, WPARAM, LPARAM l, LRESULT&) {
    if (m == WM_WINDOWPOSCHANGING) reinterpret_cast<WINDOWPOS*>(l)->flags |= SWP_NOMOVE;
    return false;
  };
  MoveWindow(h, 500, 500, 200, 150, TRUE);
  GetWindowRect(h, &r);
  EXPECT_EQ(r.left, 25);
}

TEST_F(WindowsTest, ShowWindowSendsShowWindowAndReportsPreviousState) {
  HWND top = Make("top", WS_POPUP, RECT{0, 0, 100, 100});
  HWND child = Make("child", WS_CHILD, RECT{0, 0, 10, 10}, top);
  LogFilter() = {WM_SHOWWINDOW, WM_WINDOWPOSCHANGING, WM_WINDOWPOSCHANGED};
  Clear();
  EXPECT_FALSE(ShowWindow(child, SW_SHOW));
  EXPECT_EQ(Take(), (Strings{"child:WM_SHOWWINDOW", "child:WM_WINDOWPOSCHANGING", "child:WM_WINDOWPOSCHANGED"}));
  EXPECT_FALSE(IsWindowVisible(child));  // the parent is hidden
  EXPECT_FALSE(ShowWindow(top, SW_SHOWNA));
  EXPECT_TRUE(IsWindowVisible(child));
  EXPECT_EQ(GetActiveWindow(), nullptr);  // SW_SHOWNA does not activate
  Clear();
  EXPECT_TRUE(ShowWindow(child, SW_HIDE));
  EXPECT_EQ(Take(), (Strings{"child:WM_SHOWWINDOW", "child:WM_WINDOWPOSCHANGING", "child:WM_WINDOWPOSCHANGED"}));
  EXPECT_FALSE(ShowWindow(child, SW_HIDE));  // already hidden: nothing is sent
  EXPECT_TRUE(Take().empty());
  ShowWindow(top, SW_SHOW);
  EXPECT_EQ(GetActiveWindow(), top);
}

TEST_F(WindowsTest, CoordinatesAndHitTesting) {
  HWND top = Make("top", WS_POPUP | WS_VISIBLE | WS_BORDER, RECT{100, 50, 400, 350});
  HWND child = Make("child", WS_CHILD | WS_VISIBLE, RECT{10, 20, 110, 120}, top);
  HWND hidden = Make("hidden", WS_CHILD, RECT{0, 0, 300, 300}, top);
  POINT p{5, 5};
  ClientToScreen(child, &p);
  EXPECT_EQ(p, (POINT{100 + 1 + 10 + 5, 50 + 1 + 20 + 5}));
  ScreenToClient(top, &p);
  EXPECT_EQ(p, (POINT{15, 25}));
  POINT pts[1] = {{0, 0}};
  MapWindowPoints(child, nullptr, pts, 1);
  EXPECT_EQ(pts[0], (POINT{111, 71}));
  EXPECT_EQ(WindowFromPoint(POINT{150, 100}), child);
  EXPECT_EQ(WindowFromPoint(POINT{300, 300}), top);
  EXPECT_EQ(WindowFromPoint(POINT{900, 900}), nullptr);
  EXPECT_EQ(ChildWindowFromPointEx(top, POINT{5, 5}, CWP_ALL), hidden);
  EXPECT_EQ(ChildWindowFromPointEx(top, POINT{5, 5}, CWP_SKIPINVISIBLE), top);
  EXPECT_EQ(ChildWindowFromPointEx(top, POINT{50, 50}, CWP_SKIPINVISIBLE), child);
  EXPECT_EQ(ChildWindowFromPointEx(top, POINT{-5, 5}, CWP_ALL), nullptr);
  // a disabled child does not take the point: its parent does
  EnableWindow(child, FALSE);
  EXPECT_EQ(WindowFromPoint(POINT{150, 100}), top);
  // HTTRANSPARENT passes the point to the window below
  HWND over = Make("over", WS_POPUP | WS_VISIBLE, RECT{100, 50, 200, 150}, nullptr, 0);
  EXPECT_EQ(WindowFromPoint(POINT{150, 100}), over);
  Handler() = [over](HWND h, UINT m, WPARAM, LPARAM, LRESULT& r) {
    if (h != over || m != WM_NCHITTEST) return false;
    r = HTTRANSPARENT;
    return true;
  };
  EXPECT_EQ(WindowFromPoint(POINT{150, 100}), top);
}

// ---------------------------------------------------------------------------
// The queue

TEST_F(WindowsTest, RetrievalFollowsPlatformPriorityAndFilters) {
  HWND h = Make("w", WS_POPUP | WS_VISIBLE, RECT{0, 0, 100, 100});
  Pump();
  SetManualClock(true);
  SetTimer(h, 1, 10, nullptr);
  AdvanceManualClock(20);
  InvalidateRect(h, nullptr, FALSE);
  Screen.MouseMove(50, 50);
  PostMessageW(h, WM_USER, 1, 0);
  PostMessageW(h, WM_USER + 1, 2, 0);
  MSG m;
  // a filter picks the later posted message
  ASSERT_TRUE(PeekMessageW(&m, h, WM_USER + 1, WM_USER + 1, PM_NOREMOVE));
  EXPECT_EQ(m.wParam, 2u);
  std::vector<UINT> order;
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
    order.push_back(m.message);
    if (m.message == WM_PAINT || m.message == WM_TIMER) {
      DispatchMessageW(&m);
      if (m.message == WM_TIMER) KillTimer(h, 1);
    }
  }
  EXPECT_EQ(order, (std::vector<UINT>{WM_USER, WM_USER + 1, WM_MOUSEMOVE, WM_PAINT, WM_TIMER}));
  PostQuitMessage(3);
  PostMessageW(h, WM_USER, 0, 0);
  ASSERT_TRUE(GetMessageW(&m, nullptr, 0, 0));
  EXPECT_EQ(m.message, WM_USER);
  EXPECT_FALSE(GetMessageW(&m, nullptr, 0, 0));
  EXPECT_EQ(m.message, WM_QUIT);
  EXPECT_EQ(m.wParam, 3u);
  // thread messages have no window
  PostThreadMessageW(GetCurrentThreadId(), WM_USER + 2, 0, 0);
  ASSERT_TRUE(PeekMessageW(&m, reinterpret_cast<HWND>(intptr_t(-1)), 0, 0, PM_REMOVE));
  EXPECT_EQ(m.hwnd, nullptr);
  EXPECT_EQ(HIWORD(GetQueueStatus(QS_ALLINPUT)) & QS_POSTMESSAGE, 0);
}

TEST_F(WindowsTest, SendMessageFromWorkerIsHandledInsideTheLoopAndBlocksTheSender) {
  HWND h = Make("w", WS_POPUP, RECT{0, 0, 10, 10});
  std::atomic<bool> inSend{false}, replied{false};
  DWORD mainThread = GetCurrentThreadId();
  DWORD handlerThread = 0;
  Handler() = [&](HWND, UINT m, WPARAM w, LPARAM, LRESULT& r) {
    if (m != WM_USER) return false;
    handlerThread = GetCurrentThreadId();
    inSend = InSendMessage() != 0;
    if (w == 2) {
      ReplyMessage(5);  // the sender goes on while the handler still runs
      replied = true;
    }
    r = LRESULT(w) * 10;
    return true;
  };
  LRESULT result = 0;
  std::thread worker([&] {
    result = SendMessageW(h, WM_USER, 4, 0);
    PostMessageW(h, WM_USER + 1, 0, 0);
  });
  LogFilter() = {WM_USER + 1};
  MSG m;
  while (GetMessageW(&m, nullptr, 0, 0)) {
    DispatchMessageW(&m);
    if (m.message == WM_USER + 1) break;
  }
  worker.join();
  EXPECT_EQ(result, 40);
  EXPECT_EQ(handlerThread, mainThread);
  EXPECT_TRUE(inSend);
  EXPECT_FALSE(InSendMessage());

  std::thread worker2([&] { result = SendMessageW(h, WM_USER, 2, 0); });
  while (!replied) {
    if (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
    else MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
  }
  worker2.join();
  EXPECT_EQ(result, 5);  // the early reply, not the procedure's answer
  // a notify does not wait
  std::thread worker3([&] { SendNotifyMessageW(h, WM_USER + 1, 0, 0); });
  worker3.join();
  Clear();
  PeekMessageW(&m, nullptr, 0, 0, PM_NOREMOVE);
  EXPECT_EQ(Take(), (Strings{"w:WM_USER+1"}));
}

TEST_F(WindowsTest, SynchronizeIsServedByTheMessageLoop) {
  HWND h = Make("w", WS_POPUP, RECT{0, 0, 10, 10});
  MSG m;
  PeekMessageW(&m, nullptr, 0, 0, PM_NOREMOVE);  // the main queue exists
  std::atomic<int> ran{0};
  DWORD runThread = 0;
  std::thread worker([&] {
    TThread::Synchronize(nullptr, TThreadProcedure([&] {
                           runThread = GetCurrentThreadId();
                           ++ran;
                         }));
    PostMessageW(h, WM_USER, 0, 0);
  });
  while (GetMessageW(&m, nullptr, 0, 0))
    if (m.message == WM_USER) break;
  worker.join();
  EXPECT_EQ(ran.load(), 1);
  EXPECT_EQ(runThread, GetCurrentThreadId());
}

TEST_F(WindowsTest, WorkerMovesAndDrawsThroughTheMainThread) {
  HWND h = Make("w", WS_POPUP | WS_VISIBLE, RECT{0, 0, 100, 100});
  Pump();
  int filled = 0;
  DWORD movedOn = 0;
  Handler() = [&](HWND, UINT m, WPARAM, LPARAM, LRESULT&) {
    if (m == WM_WINDOWPOSCHANGED) movedOn = GetCurrentThreadId();
    return false;
  };
  std::thread worker([&] {
    SetWindowPos(h, nullptr, 10, 20, 50, 60, SWP_NOZORDER | SWP_NOACTIVATE);
    HDC dc = GetDC(h);
    RECT r{0, 0, 5, 5};
    filled = FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    ReleaseDC(h, dc);
    PostMessageW(h, WM_USER, 0, 0);
  });
  MSG m;
  while (GetMessageW(&m, nullptr, 0, 0)) {
    DispatchMessageW(&m);
    if (m.message == WM_USER) break;
  }
  worker.join();
  EXPECT_EQ(movedOn, GetCurrentThreadId());  // the tree changed on its own thread
  RECT wr;
  GetWindowRect(h, &wr);
  EXPECT_EQ(wr, (RECT{10, 20, 60, 80}));
  EXPECT_NE(filled, 0);
}

TEST_F(WindowsTest, MsgWaitReturnsForHandlesAndInput) {
  HANDLE ev = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  EXPECT_EQ(MsgWaitForMultipleObjects(1, &ev, FALSE, 10, QS_ALLINPUT), WAIT_TIMEOUT);
  SetEvent(ev);
  EXPECT_EQ(MsgWaitForMultipleObjects(1, &ev, FALSE, 1000, QS_ALLINPUT), WAIT_OBJECT_0);
  ResetEvent(ev);
  std::thread worker([] { PostThreadMessageW(DWORD(MainThreadID), WM_USER, 0, 0); });
  worker.join();
  EXPECT_EQ(MsgWaitForMultipleObjects(1, &ev, FALSE, 5000, QS_POSTMESSAGE), WAIT_OBJECT_0 + 1);
  MSG m;
  EXPECT_TRUE(PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE));
  CloseHandle(ev);
}

TEST_F(WindowsTest, NestedModalLoopsKeepDispatchingAndRepostQuit) {
  HWND h = Make("w", WS_POPUP, RECT{0, 0, 10, 10});
  std::vector<int> trace;
  std::function<void(int)> modal;
  // A modal loop of the platform's shape: it ends on its flag, and a
  // WM_QUIT it meets is posted again for the loop outside it.
  modal = [&](int depth) {
    bool done = false;
    Handler() = [&, depth](HWND, UINT m, WPARAM w, LPARAM, LRESULT&) {
      if (m == WM_USER && int(w) == depth) done = true;
      if (m == WM_USER + 1) trace.push_back(int(w));
      return false;
    };
    MSG msg;
    while (!done) {
      if (!GetMessageW(&msg, nullptr, 0, 0)) {
        PostQuitMessage(int(msg.wParam));
        break;
      }
      DispatchMessageW(&msg);
      if (!done && msg.message == WM_USER + 1 && int(msg.wParam) == depth * 10) modal(depth + 1);
    }
    trace.push_back(-depth);
  };
  PostMessageW(h, WM_USER + 1, 10, 0);  // opens loop 2 inside loop 1
  PostMessageW(h, WM_USER + 1, 20, 0);  // opens loop 3 inside loop 2
  PostMessageW(h, WM_USER + 1, 1, 0);
  PostMessageW(h, WM_USER, 3, 0);       // ends loop 3
  PostQuitMessage(9);                   // ends loop 2 and 1 by the quit
  modal(1);
  EXPECT_EQ(trace, (std::vector<int>{10, 20, 1, -3, -2, -1}));
  MSG m;
  ASSERT_TRUE(PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(m.message, WM_QUIT);
  EXPECT_EQ(m.wParam, 9u);
}

// ---------------------------------------------------------------------------
// Timers

std::vector<UINT_PTR> TimerCalls;
void OnTimer(HWND, UINT, UINT_PTR id, DWORD) { TimerCalls.push_back(id); }

TEST_F(WindowsTest, TimersFireThroughTheLoop) {
  SetManualClock(true);
  HWND h = Make("w", WS_POPUP, RECT{0, 0, 10, 10});
  LogFilter() = {WM_TIMER};
  EXPECT_EQ(SetTimer(h, 7, 50, nullptr), 7u);
  UINT_PTR free = SetTimer(nullptr, 0, 20, &OnTimer);
  EXPECT_NE(free, 0u);
  TimerCalls.clear();
  Clear();
  Pump();
  EXPECT_TRUE(Take().empty());
  AdvanceManualClock(20);
  Pump();
  EXPECT_EQ(TimerCalls, (std::vector<UINT_PTR>{free}));
  AdvanceManualClock(30);
  Pump();
  EXPECT_EQ(Take(), (Strings{"w:WM_TIMER"}));
  EXPECT_EQ(TimerCalls.size(), 2u);
  // a late timer fires once, not once per missed interval
  AdvanceManualClock(500);
  Pump();
  EXPECT_EQ(Take(), (Strings{"w:WM_TIMER"}));
  EXPECT_TRUE(KillTimer(h, 7));
  EXPECT_FALSE(KillTimer(h, 7));
  EXPECT_TRUE(KillTimer(nullptr, free));
  AdvanceManualClock(100);
  Pump();
  EXPECT_TRUE(Take().empty());
  // destroying the window ends its timers
  SetTimer(h, 8, 10, nullptr);
  DestroyWindow(h);
  AdvanceManualClock(100);
  MSG m;
  EXPECT_FALSE(PeekMessageW(&m, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE));
}

TEST_F(WindowsTest, RealTimeTimerWakesGetMessage) {
  HWND h = Make("w", WS_POPUP, RECT{0, 0, 10, 10});
  SetTimer(h, 1, 15, nullptr);
  MSG m;
  ASSERT_TRUE(GetMessageW(&m, nullptr, 0, 0));
  EXPECT_EQ(m.message, WM_TIMER);
  EXPECT_EQ(m.wParam, 1u);
  KillTimer(h, 1);
}

// ---------------------------------------------------------------------------
// Hooks

std::vector<std::string> HookLog;
HHOOK CallHook, GetHook, MouseHook, KeyHook, SecondHook;

LRESULT CallWndHook(int code, WPARAM w, LPARAM l) {
  auto* c = reinterpret_cast<CWPSTRUCT*>(l);
  if (c->message >= WM_USER) HookLog.push_back("call:" + MessageName(c->message));
  return CallNextHookEx(CallHook, code, w, l);
}
LRESULT GetMsgHook(int code, WPARAM w, LPARAM l) {
  auto* m = reinterpret_cast<MSG*>(l);
  if (m->message == WM_USER + 2) m->message = WM_NULL;  // voids the message
  if (m->message >= WM_USER) HookLog.push_back("get:" + MessageName(m->message));
  return CallNextHookEx(GetHook, code, w, l);
}
LRESULT MouseHookProc(int code, WPARAM w, LPARAM l) {
  HookLog.push_back("mouse:" + MessageName(UINT(w)));
  if (w == WM_LBUTTONDOWN) return 1;  // eaten
  return CallNextHookEx(MouseHook, code, w, l);
}
LRESULT KeyHookProc(int code, WPARAM w, LPARAM l) {
  HookLog.push_back(std::string(code == HC_ACTION ? "key:" : "peek:") + std::to_string(w));
  if (w == VK_F5) return 1;
  return CallNextHookEx(KeyHook, code, w, l);
}
LRESULT SecondCallHook(int code, WPARAM w, LPARAM l) {
  auto* c = reinterpret_cast<CWPSTRUCT*>(l);
  if (c->message >= WM_USER) HookLog.push_back("second:" + MessageName(c->message));
  return CallNextHookEx(SecondHook, code, w, l);
}

TEST_F(WindowsTest, HooksSeeAndSwallowMessagesInOrder) {
  HWND h = Make("w", WS_POPUP | WS_VISIBLE, RECT{0, 0, 100, 100});
  SetFocus(h);
  Pump();
  HookLog.clear();
  CallHook = SetWindowsHookExW(WH_CALLWNDPROC, &CallWndHook, nullptr, GetCurrentThreadId());
  SecondHook = SetWindowsHookExW(WH_CALLWNDPROC, &SecondCallHook, nullptr, GetCurrentThreadId());
  GetHook = SetWindowsHookExW(WH_GETMESSAGE, &GetMsgHook, nullptr, GetCurrentThreadId());
  ASSERT_NE(CallHook, nullptr);
  LogFilter() = {WM_USER, WM_USER + 1, WM_USER + 2, WM_NULL, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_KEYDOWN};
  Clear();
  SendMessageW(h, WM_USER, 0, 0);  // sent: the call hooks, newest first, then the procedure
  PostMessageW(h, WM_USER + 1, 0, 0);  // posted: only the get-message hook
  PostMessageW(h, WM_USER + 2, 0, 0);
  Pump();
  EXPECT_EQ(HookLog, (Strings{"second:WM_USER", "call:WM_USER", "get:WM_USER+1"}));
  EXPECT_EQ(Take(), (Strings{"w:WM_USER", "w:WM_USER+1", "w:WM_NULL"}));
  UnhookWindowsHookEx(SecondHook);
  UnhookWindowsHookEx(CallHook);
  UnhookWindowsHookEx(GetHook);
  EXPECT_FALSE(UnhookWindowsHookEx(GetHook));

  HookLog.clear();
  MouseHook = SetWindowsHookExW(WH_MOUSE, &MouseHookProc, nullptr, GetCurrentThreadId());
  KeyHook = SetWindowsHookExW(WH_KEYBOARD, &KeyHookProc, nullptr, GetCurrentThreadId());
  Screen.Click(60, 60);
  Screen.KeyPress(VK_F5);
  Screen.KeyDown(VK_F6);
  MSG m;
  PeekMessageW(&m, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_NOREMOVE);  // the hook sees a peek too
  Pump();
  EXPECT_EQ(Take(), (Strings{"w:WM_LBUTTONUP", "w:WM_KEYDOWN"}));  // the press and F5 were eaten
  // Peeking met F5 down and up (eaten) and F6; dispatching then ran the
  // mouse messages and F6 for good.
  const std::string f5 = std::to_string(VK_F5), f6 = std::to_string(VK_F6);
  EXPECT_EQ(HookLog, (Strings{"peek:" + f5, "peek:" + f5, "peek:" + f6, "mouse:WM_MOUSEMOVE",
                              "mouse:WM_LBUTTONDOWN", "mouse:WM_LBUTTONUP", "key:" + f6}));
  UnhookWindowsHookEx(MouseHook);
  UnhookWindowsHookEx(KeyHook);
  Screen.KeyUp(VK_F6);
  Pump();
}

}  // namespace
