// Moving and sizing windows with the mouse and the keyboard (the modal loop
// of the default window procedure), and the system commands of the caption.
#include "WindowsFixture.h"

namespace wintest {
namespace {

class WindowsMoveSizeTest : public WindowsFixture {
 protected:
  static constexpr DWORD Framed =
      WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MAXIMIZEBOX | WS_MINIMIZEBOX | WS_VISIBLE;
  static constexpr RECT Start{100, 100, 400, 300};

  HWND MakeFramed() {
    HWND h = Make("w", Framed, Start);
    SetFocus(h);
    Pump();
    return h;
  }
  // A point on the caption, away from its buttons and icon.
  static POINT CaptionPoint(HWND h) {
    RECT r;
    GetWindowRect(h, &r);
    return POINT{r.left + 100, r.top + GetSystemMetrics(SM_CYFRAME) + GetSystemMetrics(SM_CYCAPTION) / 2};
  }
  static RECT WindowRect(HWND h) {
    RECT r{};
    GetWindowRect(h, &r);
    return r;
  }
  static std::string Named(UINT msg) { return "w:" + MessageName(msg); }
};

TEST_F(WindowsMoveSizeTest, CaptionDragMovesTheWindowInALoopWithCapture) {
  HWND h = MakeFramed();
  std::vector<RECT> moving;
  Handler() = [&](HWND, UINT m, WPARAM, LPARAM l, LRESULT&) {
    if (m == WM_MOVING) moving.push_back(*reinterpret_cast<RECT*>(l));
    return false;
  };
  LogFilter() = {WM_SYSCOMMAND, WM_GETMINMAXINFO,  WM_ENTERSIZEMOVE, WM_MOVING,
                 WM_MOVE,       WM_CAPTURECHANGED, WM_EXITSIZEMOVE};
  Clear();
  POINT p = CaptionPoint(h);
  Screen.MouseDown(p.x, p.y);
  Screen.MouseMove(p.x + 50, p.y + 40);
  Screen.MouseUp(p.x + 50, p.y + 40);
  Pump();
  EXPECT_EQ(Take(), (std::vector<std::string>{Named(WM_SYSCOMMAND), Named(WM_GETMINMAXINFO),
                                              Named(WM_ENTERSIZEMOVE), Named(WM_MOVING), Named(WM_MOVE),
                                              Named(WM_CAPTURECHANGED), Named(WM_EXITSIZEMOVE)}));
  ASSERT_EQ(moving.size(), 1u);
  EXPECT_EQ(moving[0], (RECT{150, 140, 450, 340}));
  EXPECT_EQ(WindowRect(h), (RECT{150, 140, 450, 340}));
  EXPECT_EQ(GetCapture(), nullptr);
}

// A drag faster than the window: the pointer leaves the window and the
// button comes up outside it before the loop has taken the capture.
TEST_F(WindowsMoveSizeTest, DragOutrunningTheWindowStillEndsWhereThePointerIs) {
  HWND h = MakeFramed();
  POINT p = CaptionPoint(h);
  Screen.MouseDown(p.x, p.y);
  Screen.MouseMove(p.x + 500, p.y + 400);
  Screen.MouseUp(p.x + 500, p.y + 400);
  Pump();
  EXPECT_EQ(WindowRect(h), (RECT{600, 500, 900, 700}));
  EXPECT_EQ(GetCapture(), nullptr);
}

// Each border sizes its own edges; the opposite edges stay, and the track
// sizes of WM_GETMINMAXINFO hold.
TEST_F(WindowsMoveSizeTest, BorderDragSizesWithinTheTrackSizes) {
  struct TCase {
    const char* Name;
    POINT At;  // relative to the window's top left
    POINT By;
    POINT MinTrack;  // 0: the system's
    WPARAM Edge;
    RECT Expected;
  };
  int f = GetSystemMetrics(SM_CXFRAME);
  const TCase cases[] = {
      {"bottom right", {300 - 1, 200 - 1}, {50, 30}, {}, WMSZ_BOTTOMRIGHT, {100, 100, 450, 330}},
      {"left", {0, 100}, {-20, 7}, {}, WMSZ_LEFT, {80, 100, 400, 300}},
      {"top", {150, f - 1}, {3, 30}, {}, WMSZ_TOP, {100, 130, 400, 300}},
      {"right under the minimum", {300 - 1, 100}, {-280, 0}, {150, 100}, WMSZ_RIGHT, {100, 100, 250, 300}},
      {"top left under the minimum", {0, 0}, {280, 180}, {150, 100}, WMSZ_TOPLEFT, {250, 200, 400, 300}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    HWND h = MakeFramed();
    std::vector<WPARAM> edges;
    Handler() = [&](HWND, UINT m, WPARAM w, LPARAM l, LRESULT& r) {
      if (m == WM_SIZING) edges.push_back(w);
      if (m == WM_GETMINMAXINFO && c.MinTrack.x) {
        reinterpret_cast<MINMAXINFO*>(l)->ptMinTrackSize = c.MinTrack;
        r = 0;
        return true;
      }
      return false;
    };
    POINT p{Start.left + c.At.x, Start.top + c.At.y};
    Screen.MouseDown(p.x, p.y);
    Screen.MouseMove(p.x + c.By.x / 2, p.y + c.By.y / 2);
    Screen.MouseMove(p.x + c.By.x, p.y + c.By.y);
    Screen.MouseUp(p.x + c.By.x, p.y + c.By.y);
    Pump();
    EXPECT_EQ(WindowRect(h), c.Expected);
    ASSERT_FALSE(edges.empty());
    EXPECT_EQ(edges.front(), c.Edge);
    Handler() = nullptr;
    DestroyWindow(h);
  }
}

// WM_MOVING and WM_SIZING may change the rectangle the loop uses.
TEST_F(WindowsMoveSizeTest, TheWindowMayChangeTheDraggedRectangle) {
  HWND h = MakeFramed();
  Handler() = [&](HWND, UINT m, WPARAM, LPARAM l, LRESULT& r) {
    auto* rc = reinterpret_cast<RECT*>(l);
    if (m == WM_MOVING) {  // horizontal moves only
      rc->bottom -= rc->top - Start.top;
      rc->top = Start.top;
    } else if (m == WM_SIZING) {  // widths in steps of 50
      rc->right = rc->left + (rc->right - rc->left) / 50 * 50;
    } else {
      return false;
    }
    r = TRUE;
    return true;
  };
  POINT p = CaptionPoint(h);
  Screen.MouseDown(p.x, p.y);
  Screen.MouseMove(p.x + 10, p.y + 60);
  Screen.MouseUp(p.x + 10, p.y + 60);
  Pump();
  EXPECT_EQ(WindowRect(h), (RECT{110, 100, 410, 300}));
  Screen.MouseDown(410 - 1, 200);
  Screen.MouseMove(410 - 1 + 70, 200);
  Screen.MouseUp(410 - 1 + 70, 200);
  Pump();
  EXPECT_EQ(WindowRect(h), (RECT{110, 100, 460, 300}));
}

TEST_F(WindowsMoveSizeTest, EscapePutsTheWindowBack) {
  HWND h = MakeFramed();
  LogFilter() = {WM_ENTERSIZEMOVE, WM_EXITSIZEMOVE, WM_KEYDOWN};
  Clear();
  POINT p = CaptionPoint(h);
  Screen.MouseDown(p.x, p.y);
  Screen.MouseMove(p.x + 40, p.y + 40);
  Screen.KeyDown(VK_ESCAPE);
  Screen.MouseMove(p.x + 80, p.y + 80);
  Pump();
  EXPECT_EQ(WindowRect(h), Start);
  EXPECT_EQ(Take(), (std::vector<std::string>{Named(WM_ENTERSIZEMOVE), Named(WM_EXITSIZEMOVE)}));
  EXPECT_EQ(GetCapture(), nullptr);
  Screen.MouseUp(p.x + 80, p.y + 80);
  Screen.KeyUp(VK_ESCAPE);
  Pump();
  EXPECT_EQ(WindowRect(h), Start);
}

// SC_MOVE and SC_SIZE without a mouse point: the arrow keys move by 8
// pixels (sizing: the first arrow picks the edge), Enter ends.
TEST_F(WindowsMoveSizeTest, KeyboardMovesAndSizes) {
  struct TCase {
    const char* Name;
    WPARAM Command;
    std::vector<UINT> Keys;
    RECT Expected;
  };
  const TCase cases[] = {
      {"move", SC_MOVE, {VK_RIGHT, VK_DOWN, VK_DOWN, VK_RETURN}, {108, 116, 408, 316}},
      {"size right", SC_SIZE, {VK_RIGHT, VK_RIGHT, VK_RETURN}, {100, 100, 416, 300}},
      {"size top", SC_SIZE, {VK_UP, VK_DOWN, VK_DOWN, VK_RETURN}, {100, 108, 400, 300}},
      {"move cancelled", SC_MOVE, {VK_LEFT, VK_ESCAPE}, Start},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    HWND h = MakeFramed();
    PostMessageW(h, WM_SYSCOMMAND, c.Command, 0);
    for (UINT k : c.Keys) Screen.KeyPress(k);
    Pump();
    EXPECT_EQ(WindowRect(h), c.Expected);
    EXPECT_EQ(GetCapture(), nullptr);
    DestroyWindow(h);
  }
}

TEST_F(WindowsMoveSizeTest, SystemCommandsCloseMinimizeMaximizeAndRestore) {
  HWND h = MakeFramed();
  SendMessageW(h, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
  EXPECT_TRUE(IsZoomed(h));
  // A maximized window does not move.
  POINT p = CaptionPoint(h);
  RECT zoomed = WindowRect(h);
  Screen.MouseDown(p.x, p.y);
  Screen.MouseMove(p.x + 40, p.y + 40);
  Screen.MouseUp(p.x + 40, p.y + 40);
  Pump();
  EXPECT_EQ(WindowRect(h), zoomed);
  SendMessageW(h, WM_SYSCOMMAND, SC_RESTORE, 0);
  EXPECT_FALSE(IsZoomed(h));
  EXPECT_EQ(WindowRect(h), Start);
  SendMessageW(h, WM_SYSCOMMAND, SC_MINIMIZE, 0);
  EXPECT_TRUE(IsIconic(h));
  SendMessageW(h, WM_SYSCOMMAND, SC_RESTORE, 0);
  EXPECT_FALSE(IsIconic(h));
  EXPECT_EQ(WindowRect(h), Start);

  // SC_CLOSE asks with WM_CLOSE, which a window may refuse.
  bool refuse = true;
  Handler() = [&](HWND, UINT m, WPARAM, LPARAM, LRESULT& r) {
    if (m != WM_CLOSE || !refuse) return false;
    r = 0;
    return true;
  };
  LogFilter() = {WM_CLOSE, WM_DESTROY};
  Clear();
  SendMessageW(h, WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_TRUE(IsWindow(h));
  refuse = false;
  SendMessageW(h, WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_FALSE(IsWindow(h));
  EXPECT_EQ(Take(), (std::vector<std::string>{Named(WM_CLOSE), Named(WM_CLOSE), Named(WM_DESTROY)}));
}

TEST_F(WindowsMoveSizeTest, CaptionDoubleClickMaximizesAndRestores) {
  HWND h = MakeFramed();
  POINT p = CaptionPoint(h);
  Screen.DoubleClick(p.x, p.y);
  Pump();
  EXPECT_TRUE(IsZoomed(h));
  p = CaptionPoint(h);
  Screen.DoubleClick(p.x, p.y);
  Pump();
  EXPECT_FALSE(IsZoomed(h));
  EXPECT_EQ(WindowRect(h), Start);
  // Without a maximize box the double click does nothing.
  SetWindowLongPtrW(h, GWL_STYLE, GetWindowLongPtrW(h, GWL_STYLE) & ~LONG_PTR(WS_MAXIMIZEBOX));
  p = CaptionPoint(h);
  Screen.DoubleClick(p.x, p.y);
  Pump();
  EXPECT_FALSE(IsZoomed(h));
}

}  // namespace
}  // namespace wintest
