// The modal tracking loops of the default window procedure and DragDetect
// when the input they wait for went elsewhere: a press whose pointer left
// every window before the loop took the capture, so the release reached no
// window at all.
#include "WindowsFixture.h"

namespace wintest {
namespace {

class WindowsTrackingTest : public WindowsFixture {
 protected:
  // A popup with a vertical scroll bar of range 0..99, page 10.
  HWND MakeScrolled() {
    HWND h = Make("w", WS_POPUP | WS_VISIBLE, RECT{0, 0, 200, 200});
    SetFocus(h);
    Pump();
    SCROLLINFO si;
    si.cbSize = sizeof si;
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    si.nMax = 99;
    si.nPage = 10;
    SetScrollInfo(h, SB_VERT, &si, TRUE);
    return h;
  }
};

// A point of the screen where no window lies.
constexpr POINT Nowhere{190, 700};

TEST_F(WindowsTrackingTest, ScrollBarLoopEndsWhenTheReleaseReachedNoWindow) {
  struct TCase {
    const char* Name;
    bool Thumb;  // press on the thumb, else on the down arrow
    std::vector<std::pair<WORD, WORD>> Expected;
  };
  const TCase cases[] = {
      // the thumb follows the pointer (far below: the end) and is dropped there
      {"thumb", true, {{SB_THUMBTRACK, 90}, {SB_THUMBPOSITION, 90}, {SB_ENDSCROLL, 0}}},
      // the arrow scrolls once and the loop ends instead of repeating for ever
      {"arrow", false, {{SB_LINEDOWN, 0}, {SB_ENDSCROLL, 0}}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    HWND h = MakeScrolled();
    std::vector<std::pair<WORD, WORD>> scrolls;
    Handler() = [&](HWND, UINT m, WPARAM w, LPARAM, LRESULT&) {
      if (m == WM_VSCROLL) scrolls.emplace_back(LOWORD(w), HIWORD(w));
      return false;
    };
    SCROLLBARINFO sbi;
    sbi.cbSize = sizeof sbi;
    ASSERT_TRUE(GetScrollBarInfo(h, OBJID_VSCROLL, &sbi));
    int x = (sbi.rcScrollBar.left + sbi.rcScrollBar.right) / 2;
    int y =
        c.Thumb ? sbi.rcScrollBar.top + (sbi.xyThumbTop + sbi.xyThumbBottom) / 2 : sbi.rcScrollBar.bottom - 3;
    Screen.MouseDown(x, y);
    Screen.MouseMove(Nowhere.x, Nowhere.y);
    Screen.MouseUp(Nowhere.x, Nowhere.y);
    Pump();
    EXPECT_EQ(scrolls, c.Expected);
    EXPECT_EQ(GetCapture(), nullptr);
    Handler() = nullptr;
    DestroyWindow(h);
  }
}

TEST_F(WindowsTrackingTest, DragDetectDecidesByThePointerWhenTheInputWentElsewhere) {
  struct TCase {
    const char* Name;
    POINT Release;
    BOOL Expected;
  };
  const TCase cases[] = {
      {"released in place", POINT{50, 50}, FALSE},
      {"left the drag rectangle, release lost", Nowhere, TRUE},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    HWND h = Make("w", WS_POPUP | WS_VISIBLE, RECT{0, 0, 200, 200});
    SetFocus(h);
    Pump();
    std::vector<BOOL> results;
    Handler() = [&](HWND hw, UINT m, WPARAM, LPARAM l, LRESULT&) {
      if (m != WM_LBUTTONDOWN) return false;
      POINT p{GET_X_LPARAM(l), GET_Y_LPARAM(l)};
      ClientToScreen(hw, &p);
      results.push_back(DragDetect(hw, p));
      return true;
    };
    Screen.MouseDown(50, 50);
    Screen.MouseMove(c.Release.x, c.Release.y);
    Screen.MouseUp(c.Release.x, c.Release.y);
    Pump();
    EXPECT_EQ(results, std::vector<BOOL>{c.Expected});
    EXPECT_EQ(GetCapture(), nullptr);
    Handler() = nullptr;
    DestroyWindow(h);
  }
}

}  // namespace
}  // namespace wintest
