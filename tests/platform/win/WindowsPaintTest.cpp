// Painting: invalidation, the WM_PAINT order and clipping, window DCs,
// scrolling, the standard scroll bars, and composition on the headless
// screen.
#include <fstream>
#include <map>

#include "WindowsFixture.h"
#include "platform/win/ImageCodecs.h"
#include "tests/support/TestSupport.h"

using namespace win;
using namespace wintest;
using Strings = std::vector<std::string>;

namespace {

class WindowsPaintTest : public WindowsFixture {
 protected:
  void SetUp() override {
    WindowsFixture::SetUp();
    Colors.clear();
    Paints.clear();
    Handler() = [this](HWND h, UINT m, WPARAM, LPARAM, LRESULT& r) {
      if (m != WM_PAINT || !Colors.count(h)) return false;
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(h, &ps);
      Paints.push_back(h);
      LastPaint[h] = ps.rcPaint;
      HBRUSH b = CreateSolidBrush(Colors[h]);
      RECT c;
      GetClientRect(h, &c);
      FillRect(dc, &c, b);
      DeleteObject(b);
      EndPaint(h, &ps);
      r = 0;
      return true;
    };
  }
  HWND Painted(const std::string& name, COLORREF color, DWORD style, RECT r, HWND parent = nullptr, DWORD ex = 0) {
    HWND h = Make(name, style, r, parent, ex);
    Colors[h] = color;
    return h;
  }
  std::map<HWND, COLORREF> Colors;
  std::map<HWND, RECT> LastPaint;
  std::vector<HWND> Paints;
};

constexpr COLORREF Red = RGB(255, 0, 0), Blue = RGB(0, 0, 255), Green = RGB(0, 255, 0);

TEST_F(WindowsPaintTest, ParentsPaintBeforeChildrenAndClipChildrenDecidesWhoRepaints) {
  HWND clip = Painted("clip", Red, WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, RECT{0, 0, 200, 200});
  HWND a = Painted("a", Blue, WS_CHILD | WS_VISIBLE, RECT{10, 10, 60, 60}, clip);
  HWND plain = Painted("plain", Red, WS_POPUP | WS_VISIBLE, RECT{300, 0, 500, 200});
  HWND b = Painted("b", Blue, WS_CHILD | WS_VISIBLE, RECT{10, 10, 60, 60}, plain);
  Pump();
  EXPECT_EQ(Paints, (std::vector<HWND>{plain, b, clip, a}));  // top-level windows by z-order, parents first

  Paints.clear();
  InvalidateRect(clip, nullptr, TRUE);
  InvalidateRect(plain, nullptr, TRUE);
  Pump();
  // without WS_CLIPCHILDREN the parent paints over its child, which repaints
  EXPECT_EQ(Paints, (std::vector<HWND>{plain, b, clip}));
  Screen.Compose();
  EXPECT_EQ(Screen.Pixel(30, 30), Blue);
  EXPECT_EQ(Screen.Pixel(330, 30), Blue);
  EXPECT_EQ(Screen.Pixel(100, 100), Red);

  // the parent's DC is clipped around its children only with WS_CLIPCHILDREN
  RedrawWindow(clip, nullptr, nullptr, RDW_INVALIDATE | RDW_NOCHILDREN | RDW_UPDATENOW);
  RedrawWindow(plain, nullptr, nullptr, RDW_INVALIDATE | RDW_NOCHILDREN | RDW_UPDATENOW);
  Screen.Compose();
  EXPECT_EQ(Screen.Pixel(30, 30), Blue);
  EXPECT_EQ(Screen.Pixel(330, 30), Red);
}

TEST_F(WindowsPaintTest, UpdateRegionsAccumulateAndValidate) {
  HWND h = Painted("w", Green, WS_POPUP | WS_VISIBLE, RECT{0, 0, 200, 100});
  Pump();
  RECT u;
  EXPECT_FALSE(GetUpdateRect(h, &u, FALSE));
  RECT r1{10, 10, 20, 20}, r2{50, 40, 60, 80};
  InvalidateRect(h, &r1, FALSE);
  InvalidateRect(h, &r2, FALSE);
  EXPECT_TRUE(GetUpdateRect(h, &u, FALSE));
  EXPECT_EQ(u, (RECT{10, 10, 60, 80}));
  HRGN rgn = CreateRectRgn(0, 0, 0, 0);
  EXPECT_EQ(GetUpdateRgn(h, rgn, FALSE), COMPLEXREGION);
  ValidateRect(h, &r2);
  EXPECT_EQ(GetUpdateRgn(h, rgn, FALSE), SIMPLEREGION);
  DeleteObject(rgn);
  Paints.clear();
  UpdateWindow(h);
  ASSERT_EQ(Paints.size(), 1u);
  EXPECT_EQ(LastPaint[h], r1);
  EXPECT_FALSE(GetUpdateRect(h, &u, FALSE));
  // a hidden window collects nothing
  ShowWindow(h, SW_HIDE);
  InvalidateRect(h, nullptr, TRUE);
  EXPECT_FALSE(GetUpdateRect(h, &u, FALSE));
}

TEST_F(WindowsPaintTest, EraseBackgroundAndTheEraseFlag) {
  HWND h = Make("w", WS_POPUP | WS_VISIBLE, RECT{0, 0, 50, 50});
  Pump();
  bool erase = false;
  BOOL fErase = -1;
  Handler() = [&](HWND, UINT m, WPARAM, LPARAM, LRESULT& r) {
    if (m == WM_ERASEBKGND) {
      r = erase ? 1 : 0;
      return true;
    }
    if (m == WM_PAINT) {
      PAINTSTRUCT ps;
      BeginPaint(h, &ps);
      fErase = ps.fErase;
      EndPaint(h, &ps);
      return true;
    }
    return false;
  };
  LogFilter() = {WM_NCPAINT, WM_ERASEBKGND, WM_PAINT};
  Clear();
  InvalidateRect(h, nullptr, TRUE);
  Pump();
  EXPECT_EQ(Take(), (Strings{"w:WM_PAINT", "w:WM_ERASEBKGND"}));
  EXPECT_TRUE(fErase);  // not erased: the painter must
  erase = true;
  InvalidateRect(h, nullptr, TRUE);
  Pump();
  EXPECT_FALSE(fErase);
  InvalidateRect(h, nullptr, FALSE);
  Pump();
  EXPECT_EQ(Take(), (Strings{"w:WM_PAINT", "w:WM_ERASEBKGND", "w:WM_PAINT"}));
  // a frame change asks for WM_NCPAINT first
  SetWindowLongPtrW(h, GWL_STYLE, LONG_PTR(WS_POPUP | WS_VISIBLE | WS_BORDER));
  SetWindowPos(h, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
  Clear();
  Pump();
  EXPECT_EQ(Take(), (Strings{"w:WM_PAINT", "w:WM_NCPAINT", "w:WM_ERASEBKGND"}));
}

TEST_F(WindowsPaintTest, WindowDcsDrawOnTheBackingStoreAtTheWindowsPlace) {
  HWND top = Painted("top", Red, WS_POPUP | WS_VISIBLE | WS_BORDER, RECT{100, 100, 300, 300});
  Pump();
  HDC dc = GetDC(top);
  RECT r{0, 0, 10, 10};
  FillRect(dc, &r, GetSysColorBrush(COLOR_HIGHLIGHT));
  EXPECT_EQ(WindowFromDC(dc), top);
  ReleaseDC(top, dc);
  HDC wdc = GetWindowDC(top);
  EXPECT_EQ(GetPixel(wdc, 0, 0), GetSysColor(COLOR_WINDOWFRAME));  // the border drawn by WM_NCPAINT
  EXPECT_EQ(GetPixel(wdc, 1, 1), GetSysColor(COLOR_HIGHLIGHT));    // the client starts inside it
  EXPECT_EQ(GetPixel(wdc, 500, 500), CLR_INVALID);
  ReleaseDC(top, wdc);
  Screen.Compose();
  EXPECT_EQ(Screen.Pixel(101, 101), GetSysColor(COLOR_HIGHLIGHT));
  EXPECT_EQ(Screen.Pixel(150, 150), Red);
}

TEST_F(WindowsPaintTest, ScrollWindowMovesPixelsAndInvalidatesTheExposedStrip) {
  HWND h = Make("w", WS_POPUP | WS_VISIBLE, RECT{0, 0, 100, 100});
  Pump();
  HDC dc = GetDC(h);
  for (int y = 0; y < 100; ++y) SetPixel(dc, 5, y, RGB(y, 0, 0));
  ReleaseDC(h, dc);
  HRGN upd = CreateRectRgn(0, 0, 0, 0);
  RECT ur;
  EXPECT_EQ(ScrollWindowEx(h, 0, -10, nullptr, nullptr, upd, &ur, SW_INVALIDATE), SIMPLEREGION);
  EXPECT_EQ(ur, (RECT{0, 90, 100, 100}));
  RECT u;
  GetUpdateRect(h, &u, FALSE);
  EXPECT_EQ(u, (RECT{0, 90, 100, 100}));
  dc = GetDC(h);
  EXPECT_EQ(GetPixel(dc, 5, 0), RGB(10, 0, 0));
  EXPECT_EQ(GetPixel(dc, 5, 50), RGB(60, 0, 0));
  ReleaseDC(h, dc);
  DeleteObject(upd);
}

TEST_F(WindowsPaintTest, PrintDrawsIntoAnyDc) {
  HWND top = Painted("top", Red, WS_POPUP, RECT{0, 0, 40, 40});
  Painted("child", Blue, WS_CHILD | WS_VISIBLE, RECT{10, 10, 20, 20}, top);
  // WM_PRINTCLIENT is answered by painting into the DC it brings
  Handler() = [this, old = Handler()](HWND h, UINT m, WPARAM w, LPARAM l, LRESULT& r) {
    if (m == WM_PRINTCLIENT && Colors.count(h)) {
      HBRUSH b = CreateSolidBrush(Colors[h]);
      RECT c;
      GetClientRect(h, &c);
      FillRect(reinterpret_cast<HDC>(w), &c, b);
      DeleteObject(b);
      return true;
    }
    return old(h, m, w, l, r);
  };
  HDC screen = GetDC(nullptr);
  HDC mem = CreateCompatibleDC(screen);
  HBITMAP bm = CreateCompatibleBitmap(screen, 40, 40);
  HGDIOBJ old = SelectObject(mem, bm);
  SendMessageW(top, WM_PRINT, WPARAM(mem), PRF_CLIENT | PRF_CHILDREN);
  EXPECT_EQ(GetPixel(mem, 5, 5), Red);
  EXPECT_EQ(GetPixel(mem, 15, 15), Blue);
  SelectObject(mem, old);
  DeleteObject(bm);
  DeleteDC(mem);
  ReleaseDC(nullptr, screen);
}

TEST_F(WindowsPaintTest, StandardScrollBarsShowReportAndScroll) {
  HWND h = Make("w", WS_POPUP | WS_VISIBLE, RECT{0, 0, 200, 200});
  SetFocus(h);
  Pump();
  SCROLLINFO si;
  si.cbSize = sizeof si;
  si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  si.nMin = 0;
  si.nMax = 99;
  si.nPage = 10;
  si.nPos = 500;  // clamped to max - page + 1
  EXPECT_EQ(SetScrollInfo(h, SB_VERT, &si, TRUE), 90);
  EXPECT_TRUE(GetWindowLongPtrW(h, GWL_STYLE) & WS_VSCROLL);
  RECT c;
  GetClientRect(h, &c);
  EXPECT_EQ(c.right, 200 - GetSystemMetrics(SM_CXVSCROLL));
  SCROLLBARINFO sbi;
  sbi.cbSize = sizeof sbi;
  ASSERT_TRUE(GetScrollBarInfo(h, OBJID_VSCROLL, &sbi));
  EXPECT_EQ(sbi.rcScrollBar, (RECT{c.right, 0, 200, 200}));
  EXPECT_EQ(sbi.rgstate[0], 0u);
  ASSERT_TRUE(GetScrollBarInfo(h, OBJID_HSCROLL, &sbi));
  EXPECT_EQ(sbi.rgstate[0] & STATE_SYSTEM_INVISIBLE, STATE_SYSTEM_INVISIBLE);

  std::vector<std::pair<WORD, WORD>> scrolls;
  Handler() = [&](HWND, UINT m, WPARAM w, LPARAM, LRESULT&) {
    if (m == WM_VSCROLL) scrolls.emplace_back(LOWORD(w), HIWORD(w));
    return false;
  };
  SetScrollPos(h, SB_VERT, 0, TRUE);
  int x = c.right + 5;
  Screen.MouseDown(x, 195);  // the down arrow
  Screen.MouseUp(x, 195);
  Pump();
  EXPECT_EQ(scrolls, (std::vector<std::pair<WORD, WORD>>{{SB_LINEDOWN, 0}, {SB_ENDSCROLL, 0}}));
  scrolls.clear();
  ASSERT_TRUE(GetScrollBarInfo(h, OBJID_VSCROLL, &sbi));
  int thumbMid = (sbi.xyThumbTop + sbi.xyThumbBottom) / 2;
  Screen.MouseDown(x, thumbMid);
  Screen.MouseMove(x, thumbMid + 40);
  Screen.MouseUp(x, thumbMid + 40);
  Pump();
  ASSERT_EQ(scrolls.size(), 3u);
  EXPECT_EQ(scrolls[0].first, SB_THUMBTRACK);
  EXPECT_GT(scrolls[0].second, 0);
  EXPECT_EQ(scrolls[1], std::make_pair(WORD(SB_THUMBPOSITION), scrolls[0].second));
  EXPECT_EQ(scrolls[2].first, SB_ENDSCROLL);
  // nothing left to scroll: the bar goes
  si.fMask = SIF_PAGE;
  si.nPage = 100;
  SetScrollInfo(h, SB_VERT, &si, TRUE);
  EXPECT_FALSE(GetWindowLongPtrW(h, GWL_STYLE) & WS_VSCROLL);
}

TEST_F(WindowsPaintTest, ExtremeRangesAndCoordinatesStayDefined) {
  HWND h = Make("w", WS_POPUP | WS_VISIBLE, RECT{0, 0, 200, 200});
  SCROLLINFO si;
  si.cbSize = sizeof si;
  si.fMask = SIF_ALL;
  si.nMin = INT32_MIN;
  si.nMax = INT32_MAX;
  si.nPage = 0xFFFFFFFFu;
  si.nPos = INT32_MAX;
  SetScrollInfo(h, SB_HORZ, &si, TRUE);
  si.nPage = 10;
  SetScrollInfo(h, SB_HORZ, &si, TRUE);
  SCROLLBARINFO sbi;
  sbi.cbSize = sizeof sbi;
  ASSERT_TRUE(GetScrollBarInfo(h, OBJID_HSCROLL, &sbi));
  EXPECT_LE(sbi.xyThumbBottom, sbi.rcScrollBar.right - sbi.rcScrollBar.left);
  Screen.MouseDown(sbi.rcScrollBar.left + (sbi.xyThumbTop + sbi.xyThumbBottom) / 2, sbi.rcScrollBar.top + 2);
  Screen.MouseMove(0, sbi.rcScrollBar.top + 2);
  Screen.MouseUp(0, sbi.rcScrollBar.top + 2);
  Pump();
  EXPECT_EQ(GetScrollPos(h, SB_HORZ), INT32_MAX - 9);  // the application did not move it
  SetWindowPos(h, nullptr, INT32_MAX, INT32_MIN, INT32_MAX, INT32_MAX, SWP_NOZORDER | SWP_NOACTIVATE);
  RECT r;
  GetWindowRect(h, &r);
  EXPECT_GT(r.right, r.left);
  POINT p{INT32_MAX, INT32_MAX};
  ScreenToClient(h, &p);
  InvalidateRect(h, nullptr, TRUE);
  Pump();
}

TEST_F(WindowsPaintTest, ScreenComposesRegionsAlphaAndColorKey) {
  Painted("back", Red, WS_POPUP | WS_VISIBLE, RECT{0, 0, 200, 200});
  HWND alpha = Painted("alpha", Blue, WS_POPUP | WS_VISIBLE, RECT{100, 0, 300, 100}, nullptr, WS_EX_LAYERED);
  SetLayeredWindowAttributes(alpha, 0, 128, LWA_ALPHA);
  HWND shaped = Painted("shaped", Green, WS_POPUP | WS_VISIBLE, RECT{0, 100, 100, 200});
  SetWindowRgn(shaped, CreateEllipticRgn(0, 0, 100, 100), TRUE);
  HWND keyed = Painted("keyed", RGB(255, 0, 255), WS_POPUP | WS_VISIBLE, RECT{150, 150, 250, 250}, nullptr,
                       WS_EX_LAYERED);
  SetLayeredWindowAttributes(keyed, RGB(255, 0, 255), 0, LWA_COLORKEY);
  Pump();
  Screen.Compose();
  COLORREF mix = Screen.Pixel(150, 50);
  EXPECT_NEAR(GetRValue(mix), 127, 1);
  EXPECT_NEAR(GetBValue(mix), 128, 1);
  COLORREF desk = GetSysColor(COLOR_DESKTOP), overDesk = Screen.Pixel(250, 50);
  EXPECT_NEAR(GetBValue(overDesk), (255 * 128 + GetBValue(desk) * 127) / 255, 1);
  EXPECT_NEAR(GetGValue(overDesk), GetGValue(desk) * 127 / 255, 1);
  EXPECT_EQ(Screen.Pixel(50, 150), Green);  // inside the ellipse
  EXPECT_EQ(Screen.Pixel(2, 102), Red);     // outside it: the window below
  EXPECT_EQ(Screen.Pixel(180, 180), Red);   // the key colour is see-through
  EXPECT_EQ(Screen.Pixel(240, 240), GetSysColor(COLOR_DESKTOP));

  std::string dir = testing_support::MakeTempDir("screenshot");
  String file = UTF8ToUTF16(dir + "/screen.png");
  ASSERT_TRUE(Screen.SaveScreenshot(file));
  std::ifstream f(dir + "/screen.png", std::ios::binary);
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
  TDecodedImage img = DecodePng(bytes.data(), bytes.size());
  EXPECT_EQ(img.Width, Screen.Width());
  EXPECT_EQ(img.Height, Screen.Height());
  EXPECT_FALSE(Screen.WindowPng(shaped).empty());
}

}  // namespace
