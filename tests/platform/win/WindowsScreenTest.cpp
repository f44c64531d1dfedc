// What reaches the display: drawing through window DCs outside WM_PAINT
// tells the backend at once which part of the window changed, and drawing on
// the screen DC shows over the composed windows until the windows under it
// change (XOR frames show and erase).
#include <string>
#include <vector>

#include "WindowsFixture.h"

using namespace win;
using namespace wintest;

namespace {

// A headless screen that records what the window system reports.
class TRecordingScreen : public backend::THeadlessBackend {
 public:
  struct TChange {
    HWND Wnd;
    bool HasArea;
    RECT Area;
  };
  std::vector<TChange> Changes;
  std::vector<RECT> ScreenAreas;

  void WindowChanged(HWND Wnd, const RECT* Area) override {
    Changes.push_back({Wnd, Area != nullptr, Area ? *Area : RECT{}});
  }
  void ScreenChanged(const RECT& Area) override { ScreenAreas.push_back(Area); }

  // Whether a change of the window covering the rectangle (window
  // coordinates) was reported.
  bool Reported(HWND Wnd, RECT R) const {
    for (const TChange& c : Changes) {
      RECT both;
      if (c.Wnd == Wnd && (!c.HasArea || IntersectRect(&both, &c.Area, &R))) return true;
    }
    return false;
  }
};

class WindowsScreenTest : public WindowsFixture {
 protected:
  void SetUp() override {
    WindowsFixture::SetUp();
    Recorder = std::make_unique<TRecordingScreen>();
  }
  void TearDown() override {
    Handler() = nullptr;
    WindowsFixture::TearDown();
    Recorder.reset();
  }
  // The control's rectangle in its top-level window's coordinates.
  static RECT InTopLevel(HWND control) {
    RECT r, top;
    GetWindowRect(control, &r);
    GetWindowRect(GetAncestor(control, GA_ROOT), &top);
    OffsetRect(&r, -top.left, -top.top);
    return r;
  }

  std::unique_ptr<TRecordingScreen> Recorder;
};

// Controls draw their new state through a window DC at once; the backend
// hears of that part of the window without a paint cycle.
TEST_F(WindowsScreenTest, DrawingOutsidePaintIsReportedAtOnce) {
  struct TCase {
    const char* Name;
    const char16_t* Class;
    DWORD Style;
    bool Release;  // the press shows the change (false: the click does)
  };
  const TCase cases[] = {
      {"list box selection", u"LISTBOX", LBS_NOTIFY | WS_BORDER, true},
      {"pressed button", u"BUTTON", BS_PUSHBUTTON, false},
      {"check box tick", u"BUTTON", BS_AUTOCHECKBOX, true},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    HWND top = Make("top", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, RECT{100, 100, 400, 300});
    HWND control = CreateWindowExW(0, c.Class, u"Kart", WS_CHILD | WS_VISIBLE | c.Style, 20, 30, 150, 80, top,
                                   nullptr, nullptr, nullptr);
    ASSERT_TRUE(control);
    for (const char16_t* item : {u"Bir", u"İki", u"Üç"})
      SendMessageW(control, LB_ADDSTRING, 0, LPARAM(item));
    Pump();
    Recorder->Compose();
    Recorder->Changes.clear();
    RECT r;
    GetWindowRect(control, &r);
    POINT at{r.left + 30, r.top + 12};
    Recorder->MouseDown(at.x, at.y);
    Pump();
    if (c.Release) {
      Recorder->MouseUp(at.x, at.y);
      Pump();
    }
    RECT update;
    EXPECT_FALSE(GetUpdateRect(control, &update, FALSE)) << "the change waits for a paint";
    const RECT area = InTopLevel(control);
    EXPECT_TRUE(Recorder->Reported(top, area));
    for (const auto& ch : Recorder->Changes) {
      EXPECT_EQ(ch.Wnd, top);
      if (ch.HasArea) {
        RECT inside;
        IntersectRect(&inside, &ch.Area, &area);
        EXPECT_TRUE(EqualRect(&inside, &ch.Area)) << "the area lies within the control";
      }
    }
    if (!c.Release) Recorder->MouseUp(at.x, at.y);
    Pump();
    DestroyWindow(top);
  }
}

// A frame inverted on the screen DC shows over the windows and the desktop
// and goes when it is inverted again; the windows repainting the same
// pixels keep it, a window changing under it takes it away there.
TEST_F(WindowsScreenTest, ScreenDrawingShowsOverTheWindowsAndErases) {
  HWND w = Make("frame", WS_POPUP | WS_VISIBLE, RECT{100, 100, 300, 250});
  const RECT frame{250, 150, 350, 220};  // half over the window, half over the desktop
  auto invertFrame = [&] {
    HDC dc = GetDC(nullptr);
    PatBlt(dc, frame.left, frame.top, frame.right - frame.left, 2, DSTINVERT);
    PatBlt(dc, frame.left, frame.bottom - 2, frame.right - frame.left, 2, DSTINVERT);
    PatBlt(dc, frame.left, frame.top + 2, 2, frame.bottom - frame.top - 4, DSTINVERT);
    PatBlt(dc, frame.right - 2, frame.top + 2, 2, frame.bottom - frame.top - 4, DSTINVERT);
    ReleaseDC(nullptr, dc);
  };
  // A click draws the frame outside WM_PAINT, as a size drag does.
  Handler() = [&](HWND h, UINT m, WPARAM, LPARAM, LRESULT&) {
    if (h == w && m == WM_LBUTTONDOWN) invertFrame();
    return false;
  };
  Pump();  // painted, but never composed: the screen DC sees the window nonetheless
  const COLORREF desk = GetSysColor(COLOR_DESKTOP);
  const COLORREF inverted = RGB(255 - GetRValue(desk), 255 - GetGValue(desk), 255 - GetBValue(desk));
  struct TProbe {
    POINT At;
    COLORREF Plain, Framed;
  };
  const TProbe probes[] = {
      {{260, 150}, RGB(255, 255, 255), RGB(0, 0, 0)},  // on the window
      {{320, 150}, desk, inverted},                    // on the desktop
      {{348, 200}, desk, inverted},
      {{280, 180}, RGB(255, 255, 255), RGB(255, 255, 255)},  // inside the frame
  };
  auto expectFrame = [&](bool framed, const char* when) {
    SCOPED_TRACE(when);
    Recorder->Compose();
    for (const TProbe& p : probes)
      EXPECT_EQ(Recorder->Pixel(p.At.x, p.At.y), framed ? p.Framed : p.Plain) << p.At.x << "," << p.At.y;
  };
  Recorder->Click(150, 150);
  Pump();
  ASSERT_FALSE(Recorder->ScreenAreas.empty());
  expectFrame(true, "drawn");
  InvalidateRect(w, nullptr, TRUE);
  Pump();
  expectFrame(true, "the window painted the same pixels again");
  Recorder->Click(150, 150);
  Pump();
  expectFrame(false, "inverted again");

  // A window changing under the frame takes it away where it changed.
  Recorder->Click(150, 150);
  Pump();
  HDC dc = GetDC(w);
  RECT all{0, 0, 200, 150};
  FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
  ReleaseDC(w, dc);
  Recorder->Compose();
  EXPECT_EQ(Recorder->Pixel(260, 150), RGB(128, 128, 128));
  EXPECT_EQ(Recorder->Pixel(320, 150), inverted);
}

}  // namespace
