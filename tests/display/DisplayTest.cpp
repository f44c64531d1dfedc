// The SDL2 backend on a real X display: a private Xvfb server started for
// this program, real windows shown, clicked, typed into and read back.
#include <gtest/gtest.h>

#include <SDL.h>
#include <SDL_shape.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "platform/backend/Headless.h"
#include "platform/backend/Select.h"
#include "platform/backend/Sdl.h"
#include "platform/rtl/CodePages.h"
#include "platform/win/Windows.h"
#include "tests/display/XScreen.h"

// The X and SDL libraries keep some allocations until the process ends.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libX11\nleak:libSDL2\nleak:libdbus\nleak:libxcb\nleak:libGLX\nleak:libEGL\n";
}

namespace {

using namespace win;

// A private X server: Xvfb picks a free display number and writes it to a
// pipe once it accepts connections.
class TXvfb {
 public:
  static bool Installed() {
    const char* path = std::getenv("PATH");
    std::string p = path ? path : "/usr/bin:/bin";
    size_t start = 0;
    while (start <= p.size()) {
      size_t end = p.find(':', start);
      if (end == std::string::npos) end = p.size();
      std::string dir = p.substr(start, end - start);
      if (!dir.empty() && access((dir + "/Xvfb").c_str(), X_OK) == 0) return true;
      start = end + 1;
    }
    return false;
  }

  bool Start(std::string& error) {
    int fds[2];
    if (pipe(fds) != 0) {
      error = "pipe failed";
      return false;
    }
    FPid = fork();
    if (FPid < 0) {
      error = "fork failed";
      close(fds[0]);
      close(fds[1]);
      return false;
    }
    if (FPid == 0) {
      close(fds[0]);
      int null = open("/dev/null", O_RDWR);
      if (null >= 0) {
        dup2(null, 0);
        dup2(null, 1);
        dup2(null, 2);
      }
      std::string fd = std::to_string(fds[1]);
      execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x1024x24", "-nolisten", "tcp", "-noreset",
             static_cast<char*>(nullptr));
      _exit(127);
    }
    close(fds[1]);
    std::string number;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
    while (number.find('\n') == std::string::npos) {
      auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
      pollfd p{fds[0], POLLIN, 0};
      if (left.count() <= 0 || poll(&p, 1, int(left.count())) <= 0) break;
      char buf[16];
      ssize_t n = read(fds[0], buf, sizeof buf);
      if (n <= 0) break;
      number.append(buf, size_t(n));
    }
    close(fds[0]);
    if (number.empty() || number.find('\n') == std::string::npos) {
      error = "Xvfb did not start";
      Stop();
      return false;
    }
    FDisplay = ":" + number.substr(0, number.find('\n'));
    return true;
  }

  void Stop() {
    if (FPid > 0) {
      kill(FPid, SIGTERM);
      int status = 0;
      waitpid(FPid, &status, 0);
    }
    FPid = -1;
  }

  const std::string& Display() const { return FDisplay; }

 private:
  pid_t FPid = -1;
  std::string FDisplay;
};

constexpr COLORREF Paint = RGB(200, 30, 40);

// What the test window received.
struct TReceived {
  UINT Msg;
  WPARAM W;
  LPARAM L;
};
std::vector<TReceived>& Received() {
  static std::vector<TReceived> r;
  return r;
}
// A test's own handling of a message, before the logging.
std::function<void(HWND, UINT)>& OnMessage() {
  static std::function<void(HWND, UINT)> f;
  return f;
}

LRESULT TestProc(HWND h, UINT m, WPARAM w, LPARAM l) {
  if (OnMessage()) OnMessage()(h, m);
  switch (m) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_CHAR:
      Received().push_back({m, w, l});
      break;
    default:
      break;
  }
  return DefWindowProcW(h, m, w, l);
}

class DisplayTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (!TXvfb::Installed()) {
      Skip = "Xvfb is not installed";
      return;
    }
    Server = new TXvfb();
    if (!Server->Start(Skip)) {
      delete Server;
      Server = nullptr;
      return;
    }
    Skip.clear();
    setenv("DISPLAY", Server->Display().c_str(), 1);
    unsetenv("WAYLAND_DISPLAY");
    // Plain X11 without an accelerated framebuffer: the window surfaces are
    // the pixels the server shows.
    setenv("SDL_VIDEODRIVER", "x11", 1);
    setenv("SDL_FRAMEBUFFER_ACCELERATION", "0", 1);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = TestProc;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = CreateSolidBrush(Paint);
    wc.lpszClassName = u"DisplayTest";
    RegisterClassExW(&wc);
  }

  static void TearDownTestSuite() {
    if (Server) Server->Stop();
    delete Server;
    Server = nullptr;
  }

  void SetUp() override {
    if (!Skip.empty()) GTEST_SKIP() << "display smoke test skipped: " << Skip;
    Sdl = backend::TSdlBackend::Open();
    ASSERT_TRUE(Sdl) << "SDL could not open the display " << Server->Display() << ": " << SDL_GetError();
    Received().clear();
  }

  void TearDown() override {
    OnMessage() = nullptr;
    for (HWND h : Windows)
      if (IsWindow(h)) DestroyWindow(h);
    Windows.clear();
    Sdl.reset();
  }

  HWND Make(DWORD style, DWORD exStyle, RECT r) {
    HWND h = CreateWindowExW(exStyle, u"DisplayTest", u"Smoke", style | WS_VISIBLE, r.left, r.top, r.right - r.left,
                             r.bottom - r.top, nullptr, nullptr, nullptr, nullptr);
    if (h) Windows.push_back(h);
    return h;
  }

  // Runs the message loop until the condition holds or two seconds pass.
  bool RunUntil(const std::function<bool()>& done) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    for (;;) {
      MSG m;
      while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&m);
        DispatchMessageW(&m);
      }
      Sdl->Present();
      if (done()) return true;
      if (std::chrono::steady_clock::now() > deadline) return false;
      SDL_Delay(5);
    }
  }

  // Whether the real window shows the test colour everywhere.
  bool ShowsPaint(HWND h, int& width, int& height) {
    std::vector<uint32_t> px;
    if (!Sdl->ReadWindowPixels(h, px, width, height) || px.empty()) return false;
    uint32_t want = (uint32_t(GetRValue(Paint)) << 16) | (uint32_t(GetGValue(Paint)) << 8) | GetBValue(Paint);
    for (uint32_t p : px)
      if (p != want) return false;
    return true;
  }

  void Push(SDL_Event e) { ASSERT_EQ(SDL_PushEvent(&e), 1) << SDL_GetError(); }

  void PushButton(HWND h, bool down, int x, int y) {
    SDL_Event e{};
    e.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    e.button.windowID = Sdl->NativeWindowId(h);
    e.button.button = SDL_BUTTON_LEFT;
    e.button.state = down ? SDL_PRESSED : SDL_RELEASED;
    e.button.clicks = 1;
    e.button.x = x;
    e.button.y = y;
    Push(e);
  }

  bool Got(UINT msg) const {
    for (auto& r : Received())
      if (r.Msg == msg) return true;
    return false;
  }
  const TReceived* First(UINT msg) const {
    for (auto& r : Received())
      if (r.Msg == msg) return &r;
    return nullptr;
  }

  static inline TXvfb* Server = nullptr;
  static inline std::string Skip;
  std::unique_ptr<backend::TSdlBackend> Sdl;
  std::vector<HWND> Windows;
};

// A borderless popup shows its whole window; a captioned window shows what
// lies inside our caption and frame, so a point in the real window is the
// same point of the client area.
TEST_F(DisplayTest, ShowsPaintsAndClicksTopLevelWindows) {
  struct TCase {
    const char* Name;
    DWORD Style, ExStyle;
    int ShownWidth, ShownHeight;  // of a 200 x 150 window
  };
  int frame = GetSystemMetrics(SM_CXFRAME), caption = GetSystemMetrics(SM_CYCAPTION);
  const TCase cases[] = {
      {"popup", WS_POPUP, 0, 200, 150},
      {"overlapped", WS_OVERLAPPEDWINDOW, 0, 200 - 2 * frame, 150 - 2 * frame - caption},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    Received().clear();
    HWND h = Make(c.Style, c.ExStyle, RECT{100, 120, 300, 270});
    ASSERT_TRUE(h);
    int w = 0, hgt = 0;
    ASSERT_TRUE(RunUntil([&] { return ShowsPaint(h, w, hgt); })) << "the window never showed its colour";
    EXPECT_EQ(w, c.ShownWidth);
    EXPECT_EQ(hgt, c.ShownHeight);

    PushButton(h, true, 30, 40);
    PushButton(h, false, 30, 40);
    ASSERT_TRUE(RunUntil([&] { return Got(WM_LBUTTONUP); })) << "the click did not arrive";
    const TReceived* down = First(WM_LBUTTONDOWN);
    ASSERT_TRUE(down);
    EXPECT_EQ(GET_X_LPARAM(down->L), 30);
    EXPECT_EQ(GET_Y_LPARAM(down->L), 40);
    EXPECT_TRUE(down->W & MK_LBUTTON);
    EXPECT_FALSE(First(WM_LBUTTONUP)->W & MK_LBUTTON);
    DestroyWindow(h);
    EXPECT_EQ(Sdl->NativeWindow(h), nullptr);
  }
}

// A click that draws outside WM_PAINT shows on the X display at once: a
// fill through the window's DC, and a strip inverted on the screen DC over
// the window, which the second click inverts back.
TEST_F(DisplayTest, DrawingOutsidePaintShowsOnTheDisplay) {
  HWND h = Make(WS_POPUP, 0, RECT{100, 120, 300, 270});
  int w = 0, hgt = 0;
  ASSERT_TRUE(RunUntil([&] { return ShowsPaint(h, w, hgt); }));
  HBRUSH blue = CreateSolidBrush(RGB(0, 0, 255));
  OnMessage() = [&](HWND wnd, UINT m) {
    if (wnd != h || m != WM_LBUTTONDOWN) return;
    HDC dc = GetDC(h);
    RECT r{10, 10, 60, 40};
    FillRect(dc, &r, blue);
    ReleaseDC(h, dc);
    HDC screen = GetDC(nullptr);
    PatBlt(screen, 150, 200, 250, 4, DSTINVERT);  // past the window's right edge at 300
    ReleaseDC(nullptr, screen);
  };
  auto shown = [&](int x, int y) {
    uint32_t rgb = 0xFFFFFFFFu;
    return displaytest::ReadScreenPixel(Server->Display(), x, y, rgb) ? rgb : 0xFFFFFFFFu;
  };
  const uint32_t red = 0xC81E28, inverted = 0x37E1D7, fill = 0x0000FF;
  // Beyond the window the strip inverts the desktop as the program knows it.
  COLORREF desk = GetSysColor(COLOR_DESKTOP);
  const uint32_t desktopInverted = (uint32_t(255 - GetRValue(desk)) << 16) |
                                   (uint32_t(255 - GetGValue(desk)) << 8) | uint32_t(255 - GetBValue(desk));
  ASSERT_EQ(shown(200, 201), red);
  const uint32_t outside = shown(350, 201);
  PushButton(h, true, 100, 100);
  PushButton(h, false, 100, 100);
  EXPECT_TRUE(RunUntil([&] {
    return shown(120, 135) == fill && shown(200, 201) == inverted && shown(350, 201) == desktopInverted;
  })) << std::hex << shown(120, 135) << " " << shown(200, 201) << " " << shown(350, 201);
  EXPECT_EQ(shown(200, 205), red);  // below the strip
  PushButton(h, true, 100, 100);
  PushButton(h, false, 100, 100);
  EXPECT_TRUE(RunUntil([&] { return shown(200, 201) == red && shown(350, 201) == outside; }))
      << std::hex << shown(200, 201) << " " << shown(350, 201);
  EXPECT_EQ(shown(120, 135), fill);
  DeleteObject(blue);
}

// Hiding and moving a window follow on the display; a window the window
// manager moves comes along in the window system.
TEST_F(DisplayTest, FollowsHidingAndMoving) {
  HWND h = Make(WS_POPUP, 0, RECT{50, 60, 150, 110});
  ASSERT_TRUE(RunUntil([&] { return Sdl->NativeWindow(h) != nullptr; }));
  int x = 0, y = 0;
  SDL_GetWindowPosition(Sdl->NativeWindow(h), &x, &y);
  EXPECT_EQ(x, 50);
  EXPECT_EQ(y, 60);
  SetWindowPos(h, nullptr, 400, 300, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  ASSERT_TRUE(RunUntil([&] {
    SDL_GetWindowPosition(Sdl->NativeWindow(h), &x, &y);
    return x == 400 && y == 300;
  }));
  SDL_Event e{};
  e.type = SDL_WINDOWEVENT;
  e.window.event = SDL_WINDOWEVENT_MOVED;
  e.window.windowID = Sdl->NativeWindowId(h);
  e.window.data1 = 420;
  e.window.data2 = 330;
  Push(e);
  RECT r{};
  ASSERT_TRUE(RunUntil([&] { return GetWindowRect(h, &r) && r.left == 420 && r.top == 330; }));
  ShowWindow(h, SW_HIDE);
  ASSERT_TRUE(RunUntil([&] { return Sdl->NativeWindow(h) == nullptr; }));
}

// A window region shapes the real window (which stays where it is and
// shows the window's picture); constant layer alpha becomes its opacity.
TEST_F(DisplayTest, ShapesRegionsAndFadesLayeredWindows) {
  HWND h = Make(WS_POPUP, 0, RECT{100, 120, 200, 220});
  ASSERT_TRUE(RunUntil([&] { return Sdl->NativeWindow(h) != nullptr; }));
  EXPECT_FALSE(SDL_IsShapedWindow(Sdl->NativeWindow(h)));
  SetWindowRgn(h, CreateEllipticRgn(0, 0, 100, 100), TRUE);
  ASSERT_TRUE(RunUntil([&] {
    SDL_Window* w = Sdl->NativeWindow(h);
    return w && SDL_IsShapedWindow(w) && SDL_GetShapedWindowMode(w, nullptr) == 0;
  })) << "the window was not shaped";
  int x = 0, y = 0;
  SDL_GetWindowPosition(Sdl->NativeWindow(h), &x, &y);
  EXPECT_EQ(x, 100);
  EXPECT_EQ(y, 120);
  int w = 0, hgt = 0;
  EXPECT_TRUE(RunUntil([&] { return ShowsPaint(h, w, hgt); }));

  HWND faded = Make(WS_POPUP, WS_EX_LAYERED, RECT{300, 120, 400, 220});
  SetLayeredWindowAttributes(faded, 0, 128, LWA_ALPHA);
  float opacity = 0;
  EXPECT_TRUE(RunUntil([&] {
    SDL_Window* n = Sdl->NativeWindow(faded);
    return n && SDL_GetWindowOpacity(n, &opacity) == 0 && std::abs(opacity - 128.0f / 255.0f) < 0.01f;
  })) << "opacity " << opacity;
  EXPECT_FALSE(SDL_IsShapedWindow(Sdl->NativeWindow(faded)));
}

// Keys go in as the window system's keys; the character comes from our
// layout when it agrees with the text the display typed, and from the text
// otherwise.
TEST_F(DisplayTest, TurnsKeysAndTextIntoMessages) {
  struct TCase {
    const char* Name;
    SDL_Scancode Scan;
    SDL_Keycode Sym;
    const char* Text;  // nil: the key typed nothing
    UINT DownKey;
    std::vector<WCHAR> Chars;
  };
  const TCase cases[] = {
      {"letter", SDL_SCANCODE_A, SDLK_a, "a", 'A', {u'a'}},
      {"other layout", SDL_SCANCODE_Q, SDLK_q, "\xC3\xA4", VK_PROCESSKEY, {u'\u00E4'}},
      {"enter", SDL_SCANCODE_RETURN, SDLK_RETURN, nullptr, VK_RETURN, {u'\r'}},
      {"arrow", SDL_SCANCODE_LEFT, SDLK_LEFT, nullptr, VK_LEFT, {}},
  };
  HWND h = Make(WS_POPUP, 0, RECT{10, 10, 110, 60});
  ASSERT_TRUE(RunUntil([&] { return Sdl->NativeWindow(h) != nullptr; }));
  SetForegroundWindow(h);
  SetFocus(h);
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    Received().clear();
    SDL_Event e{};
    e.type = SDL_KEYDOWN;
    e.key.windowID = Sdl->NativeWindowId(h);
    e.key.state = SDL_PRESSED;
    e.key.keysym.scancode = c.Scan;
    e.key.keysym.sym = c.Sym;
    Push(e);
    if (c.Text) {
      SDL_Event t{};
      t.type = SDL_TEXTINPUT;
      t.text.windowID = e.key.windowID;
      std::snprintf(t.text.text, sizeof t.text.text, "%s", c.Text);
      Push(t);
    }
    e.type = SDL_KEYUP;
    e.key.state = SDL_RELEASED;
    Push(e);
    ASSERT_TRUE(RunUntil([&] { return Got(WM_KEYUP); }));
    const TReceived* down = First(WM_KEYDOWN);
    ASSERT_TRUE(down);
    EXPECT_EQ(down->W, c.DownKey);
    std::vector<WCHAR> chars;
    for (auto& r : Received())
      if (r.Msg == WM_CHAR) chars.push_back(WCHAR(r.W));
    EXPECT_EQ(chars, c.Chars);
  }
}

// Unicode text crosses the system clipboard both ways, line breaks turned.
TEST_F(DisplayTest, SharesTheSystemClipboard) {
  auto put = [](const String& s) {
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    HGLOBAL g = GlobalAlloc(GMEM_MOVEABLE, (s.size() + 1) * 2);
    std::memcpy(GlobalLock(g), s.c_str(), (s.size() + 1) * 2);
    GlobalUnlock(g);
    SetClipboardData(CF_UNICODETEXT, g);
    CloseClipboard();
  };
  auto get = []() {
    String s;
    if (!OpenClipboard(nullptr)) return s;
    if (HANDLE u = GetClipboardData(CF_UNICODETEXT)) {
      s = static_cast<const char16_t*>(GlobalLock(u));
      GlobalUnlock(u);
    }
    CloseClipboard();
    return s;
  };
  put(u"Kontör\r\nyüklendi");
  char* sys = SDL_GetClipboardText();
  ASSERT_TRUE(sys);
  EXPECT_EQ(std::string(sys), "Kont\xC3\xB6r\nyüklendi");
  SDL_free(sys);

  ASSERT_EQ(SDL_SetClipboardText("dı\xC5\x9F\nkart"), 0);
  EXPECT_EQ(get(), u"dış\r\nkart");
  // Our own text again once the program sets it.
  put(u"x");
  EXPECT_EQ(get(), u"x");
}

// The standard cursors show as the system's cursors, the program's own as
// their pictures; no cursor hides it.
TEST_F(DisplayTest, ShowsStandardCursors) {
  SetCursor(LoadCursorW(nullptr, IDC_ARROW));
  SDL_Cursor* arrow = SDL_GetCursor();
  SetCursor(LoadCursorW(nullptr, IDC_IBEAM));
  SDL_Cursor* beam = SDL_GetCursor();
  EXPECT_NE(arrow, beam);
  SetCursor(LoadCursorW(nullptr, IDC_ARROW));
  EXPECT_EQ(SDL_GetCursor(), arrow);
  HBITMAP mask = CreateBitmap(16, 16, 1, 1, nullptr), color = CreateBitmap(16, 16, 1, 32, nullptr);
  ICONINFO ii{FALSE, 3, 4, mask, color};
  HCURSOR own = CreateIconIndirect(&ii);
  ASSERT_TRUE(own);
  SetCursor(own);
  SDL_Cursor* shown = SDL_GetCursor();
  EXPECT_NE(shown, nullptr);
  EXPECT_NE(shown, arrow);
  EXPECT_NE(shown, beam);
  SetCursor(LoadCursorW(nullptr, IDC_ARROW));
  EXPECT_EQ(SDL_GetCursor(), arrow);
  DestroyCursor(own);
  DeleteObject(mask);
  DeleteObject(color);
  SetCursor(nullptr);
  EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE);
  SetCursor(LoadCursorW(nullptr, IDC_ARROW));
  EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_ENABLE);
}

// The program takes the display when one is named and SDL reaches it, the
// headless screen otherwise.
TEST_F(DisplayTest, ChoosesTheBackend) {
  Sdl.reset();
  {
    std::unique_ptr<TBackend> b = backend::OpenDisplayBackend();
    EXPECT_NE(dynamic_cast<backend::TSdlBackend*>(b.get()), nullptr);
    EXPECT_EQ(CurrentBackend(), b.get());
  }
  std::string display = std::getenv("DISPLAY");
  unsetenv("DISPLAY");
  {
    std::unique_ptr<TBackend> b = backend::OpenDisplayBackend();
    EXPECT_NE(dynamic_cast<backend::THeadlessBackend*>(b.get()), nullptr);
  }
  setenv("DISPLAY", ":99999", 1);  // named but unreachable
  {
    std::unique_ptr<TBackend> b = backend::OpenDisplayBackend();
    EXPECT_NE(dynamic_cast<backend::THeadlessBackend*>(b.get()), nullptr);
  }
  setenv("DISPLAY", display.c_str(), 1);
  EXPECT_EQ(CurrentBackend(), nullptr);
}

}  // namespace
