// Pictures that change with time: AnimateWindow's frames and the blinking
// caret, driven by the manual clock and seen on the headless screen.
#include <cstdlib>
#include <functional>

#include "WindowsFixture.h"

namespace wintest {
namespace {

constexpr COLORREF Red = RGB(255, 0, 0), Blue = RGB(0, 0, 255);

// A headless screen that lets the test look at every frame the window
// system shows, and may blink the caret as a real display does.
class TFrameScreen : public backend::THeadlessBackend {
 public:
  std::function<void()> OnFrame;
  bool Blink = false;
  void PumpEvents() override {
    if (OnFrame) OnFrame();
  }
  bool BlinksCaret() const override { return Blink; }
};

class WindowsAnimationTest : public WindowsFixture {
 protected:
  void SetUp() override {
    WindowsFixture::SetUp();
    // The window's left half red, its right half blue.
    Handler() = [](HWND h, UINT m, WPARAM, LPARAM, LRESULT& r) {
      if (m != WM_PAINT) return false;
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(h, &ps);
      RECT c;
      GetClientRect(h, &c);
      HBRUSH red = CreateSolidBrush(Red), blue = CreateSolidBrush(Blue);
      RECT left{0, 0, c.right / 2, c.bottom}, right{c.right / 2, 0, c.right, c.bottom};
      FillRect(dc, &left, red);
      FillRect(dc, &right, blue);
      DeleteObject(red);
      DeleteObject(blue);
      EndPaint(h, &ps);
      r = 0;
      return true;
    };
  }
};

// The screen colour at a point, named: the window's red or blue, the
// desktop, or red half faded over the desktop.
std::string Seen(TFrameScreen& s, int x, int y) {
  COLORREF c = s.Pixel(x, y);
  if (c == Red) return "red";
  if (c == Blue) return "blue";
  COLORREF desk = GetSysColor(COLOR_DESKTOP);
  if (c == desk) return "desktop";
  auto near = [](int a, int b) { return std::abs(a - b) <= 2; };
  auto half = [](int over, int under) { return (over * 128 + under * 127) / 255; };
  if (near(GetRValue(c), half(255, GetRValue(desk))) && near(GetGValue(c), half(0, GetGValue(desk))) &&
      near(GetBValue(c), half(0, GetBValue(desk))))
    return "half red";
  return "other";
}

// A 100 x 100 window at (200, 200), animated for 200 ms: what the screen
// shows halfway at a point in the window's left half, one in its right
// half, one low in the left half and one high in the left half.
TEST_F(WindowsAnimationTest, FramesShowTheEffectHalfwayAndEndInTheShowState) {
  struct TCase {
    const char* Name;
    DWORD Flags;
    std::vector<std::string> Halfway;  // at (210, 250), (290, 250), (210, 290), (210, 210)
  };
  const TCase cases[] = {
      {"blend", AW_BLEND, {"half red", "other", "half red", "half red"}},
      {"hide blending", AW_HIDE | AW_BLEND, {"half red", "other", "half red", "half red"}},
      {"centre", AW_CENTER, {"desktop", "desktop", "desktop", "desktop"}},
      {"roll right", AW_HOR_POSITIVE, {"red", "desktop", "red", "red"}},
      {"slide right", AW_HOR_POSITIVE | AW_SLIDE, {"blue", "desktop", "blue", "blue"}},
      {"roll left", AW_HOR_NEGATIVE, {"desktop", "blue", "desktop", "desktop"}},
      {"slide up", AW_VER_NEGATIVE | AW_SLIDE, {"red", "blue", "red", "desktop"}},
      {"roll down", AW_VER_POSITIVE, {"desktop", "desktop", "desktop", "red"}},
  };
  const POINT probes[] = {{210, 250}, {290, 250}, {210, 290}, {210, 210}};
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TFrameScreen screen;
    SetManualClock(true);
    bool hide = (c.Flags & AW_HIDE) != 0;
    HWND h = Make("w", WS_POPUP | (hide ? WS_VISIBLE : 0), RECT{200, 200, 300, 300}, nullptr, WS_EX_TOPMOST);
    Pump();
    DWORD start = MessageClock();
    std::vector<std::string> halfway;
    int frames = 0;
    screen.OnFrame = [&] {
      ++frames;
      if (MessageClock() - start != 100) return;
      screen.Compose();
      for (POINT p : probes) halfway.push_back(Seen(screen, p.x, p.y));
    };
    EXPECT_TRUE(AnimateWindow(h, 200, c.Flags));
    screen.OnFrame = nullptr;
    EXPECT_EQ(MessageClock() - start, 200u);
    EXPECT_EQ(frames, 21);  // every 10 ms, both ends included
    EXPECT_EQ(halfway, c.Halfway);
    EXPECT_EQ(IsWindowVisible(h) != 0, !hide);
    screen.Compose();
    EXPECT_EQ(Seen(screen, 210, 250), hide ? "desktop" : "red");
    EXPECT_EQ(Seen(screen, 290, 250), hide ? "desktop" : "blue");
    // Showing a shown window (or hiding a hidden one) is refused.
    EXPECT_FALSE(AnimateWindow(h, 200, c.Flags));
    DestroyWindow(h);
  }
}

// The centre grows out: halfway the middle shows, the corners do not.
TEST_F(WindowsAnimationTest, CentreFrameKeepsTheWindowRegion) {
  TFrameScreen screen;
  SetManualClock(true);
  HWND h = Make("w", WS_POPUP, RECT{200, 200, 300, 300}, nullptr, WS_EX_TOPMOST);
  // The window's own shape (its top half) still clips every frame.
  SetWindowRgn(h, CreateRectRgn(0, 0, 100, 50), FALSE);
  DWORD start = MessageClock();
  std::vector<std::string> seen;
  screen.OnFrame = [&] {
    if (MessageClock() - start != 100) return;
    screen.Compose();
    seen = {Seen(screen, 240, 240), Seen(screen, 260, 240), Seen(screen, 240, 260), Seen(screen, 210, 210)};
  };
  EXPECT_TRUE(AnimateWindow(h, 200, AW_CENTER | AW_ACTIVATE));
  EXPECT_EQ(seen, (std::vector<std::string>{"red", "blue", "desktop", "desktop"}));
  EXPECT_EQ(GetActiveWindow(), h);
  screen.Compose();
  EXPECT_EQ(Seen(screen, 210, 210), "red");
  EXPECT_EQ(Seen(screen, 210, 260), "desktop");
}

// A child window, or no time, reaches its end state at once.
TEST_F(WindowsAnimationTest, ChildWindowsAndZeroTimeShowAtOnce) {
  TFrameScreen screen;
  SetManualClock(true);
  HWND top = Make("top", WS_POPUP | WS_VISIBLE, RECT{0, 0, 200, 200});
  HWND child = Make("child", WS_CHILD, RECT{10, 10, 60, 60}, top);
  HWND other = Make("other", WS_POPUP, RECT{300, 0, 400, 100});
  int frames = 0;
  screen.OnFrame = [&] { ++frames; };
  DWORD start = MessageClock();
  EXPECT_TRUE(AnimateWindow(child, 200, AW_BLEND));
  EXPECT_TRUE(AnimateWindow(other, 0, AW_SLIDE | AW_HOR_POSITIVE));
  EXPECT_TRUE(IsWindowVisible(child));
  EXPECT_TRUE(IsWindowVisible(other));
  EXPECT_EQ(frames, 0);
  EXPECT_EQ(MessageClock(), start);
}

// On a display that blinks it the caret goes and comes every blink time;
// on the test screen it stays, so pictures do not depend on time.
TEST_F(WindowsAnimationTest, CaretBlinksOnlyWhereTheDisplayBlinksIt) {
  for (bool blink : {true, false}) {
    SCOPED_TRACE(blink ? "blinking display" : "steady display");
    TFrameScreen screen;
    screen.Blink = blink;
    SetManualClock(true);
    Handler() = nullptr;  // a white window
    HWND h = Make("w", WS_POPUP | WS_VISIBLE, RECT{0, 0, 100, 100});
    SetFocus(h);
    Pump();
    ASSERT_TRUE(CreateCaret(h, nullptr, 2, 10));
    SetCaretPos(10, 10);
    ShowCaret(h);
    auto caretShown = [&] {
      Pump();
      screen.Compose();
      return screen.Pixel(11, 15) == RGB(0, 0, 0);
    };
    EXPECT_TRUE(caretShown());
    AdvanceManualClock(GetCaretBlinkTime() - 1);
    EXPECT_TRUE(caretShown());
    AdvanceManualClock(1);
    EXPECT_EQ(caretShown(), !blink);
    AdvanceManualClock(GetCaretBlinkTime());
    EXPECT_TRUE(caretShown());
    AdvanceManualClock(GetCaretBlinkTime());
    EXPECT_EQ(caretShown(), !blink);
    // Moving the caret shows it at once and starts the period again.
    SetCaretPos(30, 10);
    screen.Compose();
    EXPECT_EQ(screen.Pixel(31, 15), RGB(0, 0, 0));
    EXPECT_EQ(screen.Pixel(11, 15), RGB(255, 255, 255));
    DestroyCaret();
    DestroyWindow(h);
  }
}

}  // namespace
}  // namespace wintest
