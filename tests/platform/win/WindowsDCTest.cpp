// Window DCs that outlive a GetDC: the own DCs of CS_OWNDC and CS_CLASSDC
// classes, and LockWindowUpdate, which turns a window's DCs off.
#include "WindowsFixture.h"

namespace wintest {
namespace {

constexpr COLORREF White = RGB(255, 255, 255), Green = RGB(0, 255, 0), Red = RGB(255, 0, 0);

void Fill(HDC dc, RECT r, COLORREF c) {
  HBRUSH b = CreateSolidBrush(c);
  FillRect(dc, &r, b);
  DeleteObject(b);
}

class WindowsDCTest : public WindowsFixture {
 protected:
  static void RegisterDCClasses() {
    static bool done = false;
    if (done) return;
    done = true;
    WNDCLASSEXW c{};
    c.cbSize = sizeof c;
    c.lpfnWndProc = &LogProc;
    c.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    c.hbrBackground = reinterpret_cast<HBRUSH>(uintptr_t(COLOR_WINDOW + 1));
    c.style = CS_OWNDC;
    c.lpszClassName = u"WinTestOwnDC";
    RegisterClassExW(&c);
    c.style = CS_CLASSDC;
    c.lpszClassName = u"WinTestClassDC";
    RegisterClassExW(&c);
  }
  void SetUp() override {
    WindowsFixture::SetUp();
    RegisterDCClasses();
  }
  COLORREF At(int x, int y) {
    Screen.Compose();
    return Screen.Pixel(x, y);
  }
};

TEST_F(WindowsDCTest, OwnDCKeepsItsStateAcrossGetDCAndBeginPaint) {
  HWND h = Make("w", WS_POPUP | WS_VISIBLE, RECT{0, 0, 100, 100}, nullptr, 0, u"WinTestOwnDC");
  HWND other = Make("o", WS_POPUP | WS_VISIBLE, RECT{200, 0, 300, 100}, nullptr, 0, u"WinTestOwnDC");
  Pump();
  HDC dc = GetDC(h);
  ASSERT_TRUE(dc);
  EXPECT_NE(GetDC(other), dc);
  SetTextColor(dc, Red);
  SetBkMode(dc, TRANSPARENT);
  SetViewportOrgEx(dc, 10, 20, nullptr);
  HBRUSH green = CreateSolidBrush(Green);
  SelectObject(dc, green);
  EXPECT_EQ(ReleaseDC(h, dc), 1);
  EXPECT_EQ(GetDC(h), dc);
  EXPECT_EQ(GetTextColor(dc), Red);
  ReleaseDC(h, dc);

  // The paint DC is the same DC, clipped to the update region while
  // painting and to the whole client after.
  HDC painted{};
  RECT clip{};
  COLORREF color{};
  int mode = 0;
  POINT org{};
  Handler() = [&](HWND w, UINT m, WPARAM, LPARAM, LRESULT& r) {
    if (m != WM_PAINT || w != h) return false;
    PAINTSTRUCT ps;
    painted = BeginPaint(w, &ps);
    color = GetTextColor(painted);
    mode = GetBkMode(painted);
    GetViewportOrgEx(painted, &org);
    SetViewportOrgEx(painted, 0, 0, nullptr);
    GetClipBox(painted, &clip);
    // Draws with the brush still selected.
    PatBlt(painted, 0, 0, 100, 100, PATCOPY);
    EndPaint(w, &ps);
    r = 0;
    return true;
  };
  RECT part{0, 0, 30, 40};
  InvalidateRect(h, &part, FALSE);
  Pump();
  EXPECT_EQ(painted, dc);
  EXPECT_EQ(color, Red);
  EXPECT_EQ(mode, TRANSPARENT);
  EXPECT_EQ(org, (POINT{10, 20}));
  EXPECT_EQ(clip, part);
  EXPECT_EQ(At(5, 5), Green);
  EXPECT_EQ(At(50, 50), White);
  RECT all{};
  GetClipBox(GetDC(h), &all);
  EXPECT_EQ(all, (RECT{0, 0, 100, 100}));
  ReleaseDC(h, dc);
  SelectObject(dc, GetStockObject(WHITE_BRUSH));
  DeleteObject(green);

  // The DC goes with its window.
  DestroyWindow(h);
  EXPECT_EQ(GetObjectType(dc), 0u);
}

TEST_F(WindowsDCTest, ClassDCIsSharedAndFollowsTheWindowThatAsked) {
  HWND a = Make("a", WS_POPUP | WS_VISIBLE, RECT{0, 0, 100, 100}, nullptr, 0, u"WinTestClassDC");
  HWND b = Make("b", WS_POPUP | WS_VISIBLE, RECT{200, 0, 300, 100}, nullptr, 0, u"WinTestClassDC");
  Pump();
  HDC da = GetDC(a);
  SetTextColor(da, Red);
  ReleaseDC(a, da);
  HDC db = GetDC(b);
  EXPECT_EQ(db, da);
  EXPECT_EQ(GetTextColor(db), Red);
  Fill(db, RECT{0, 0, 10, 10}, Green);
  ReleaseDC(b, db);
  EXPECT_EQ(At(205, 5), Green);
  EXPECT_EQ(At(5, 5), White);
  // It outlives a window of the class, drawing nothing meanwhile, and goes
  // with the last one.
  DestroyWindow(b);
  Fill(da, RECT{0, 0, 10, 10}, Green);
  EXPECT_EQ(At(5, 5), White);
  EXPECT_EQ(GetDC(a), da);
  Fill(da, RECT{0, 0, 10, 10}, Green);
  EXPECT_EQ(At(5, 5), Green);
  ReleaseDC(a, da);
  DestroyWindow(a);
  EXPECT_EQ(GetObjectType(da), 0u);
}

TEST_F(WindowsDCTest, LockedWindowDrawsNothingUntilUnlocked) {
  HWND top = Make("top", WS_POPUP | WS_VISIBLE, RECT{0, 0, 100, 100});
  HWND child = Make("child", WS_CHILD | WS_VISIBLE, RECT{50, 50, 90, 90}, top);
  HWND other = Make("other", WS_POPUP | WS_VISIBLE, RECT{200, 0, 300, 100});
  Pump();
  HDC held = GetDC(top);  // taken before the lock
  ASSERT_TRUE(LockWindowUpdate(top));
  EXPECT_FALSE(LockWindowUpdate(other));  // one window at a time
  HDC childDC = GetDC(child);
  Fill(held, RECT{0, 0, 10, 10}, Green);
  Fill(childDC, RECT{0, 0, 10, 10}, Green);
  ReleaseDC(child, childDC);
  EXPECT_EQ(At(5, 5), White);
  EXPECT_EQ(At(55, 55), White);
  // A DC asked for with DCX_LOCKWINDOWUPDATE draws through the lock.
  HDC through = GetDCEx(top, nullptr, DCX_LOCKWINDOWUPDATE);
  Fill(through, RECT{20, 0, 30, 10}, Red);
  ReleaseDC(top, through);
  EXPECT_EQ(At(25, 5), Red);
  // Another window draws as usual.
  HDC od = GetDC(other);
  Fill(od, RECT{0, 0, 10, 10}, Green);
  ReleaseDC(other, od);
  EXPECT_EQ(At(205, 5), Green);

  LogFilter() = {WM_PAINT};
  Clear();
  ASSERT_TRUE(LockWindowUpdate(nullptr));
  RECT u{};
  EXPECT_TRUE(GetUpdateRect(top, &u, FALSE));
  EXPECT_EQ(u, (RECT{0, 0, 100, 100}));
  EXPECT_TRUE(GetUpdateRect(child, &u, FALSE));
  Pump();
  EXPECT_EQ(Take(), (std::vector<std::string>{"top:WM_PAINT", "child:WM_PAINT"}));
  EXPECT_EQ(At(25, 5), White);  // repainted
  Fill(held, RECT{0, 0, 10, 10}, Green);
  EXPECT_EQ(At(5, 5), Green);
  ReleaseDC(top, held);

  // A locked window that dies takes its lock along.
  ASSERT_TRUE(LockWindowUpdate(other));
  DestroyWindow(other);
  EXPECT_TRUE(LockWindowUpdate(top));
  EXPECT_TRUE(LockWindowUpdate(nullptr));
  EXPECT_FALSE(LockWindowUpdate(reinterpret_cast<HWND>(uintptr_t(0x7FFFFFF0))));
}

}  // namespace
}  // namespace wintest
