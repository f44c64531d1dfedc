// The default window procedure.
#include <algorithm>
#include <cstring>

#include "platform/win/WindowsInternal.h"

namespace win {

using namespace wnd;

namespace {

HBRUSH BrushOf(HBRUSH b) {
  // A class brush may be a system colour index + 1.
  auto v = reinterpret_cast<uintptr_t>(b);
  if (v > 0 && v <= 31) return GetSysColorBrush(int(v - 1));
  return b;
}

LRESULT PassToParent(TWnd* w, UINT msg, WPARAM wp, LPARAM lp) {
  if (w->IsChild() && w->Parent && w->Parent->Parent) return SendMessageW(w->Parent->Handle, msg, wp, lp);
  return 0;
}

void PrintWindowTo(TWnd* w, HDC dc, LPARAM flags) {
  HWND h = w->Handle;
  if ((flags & PRF_CHECKVISIBLE) && !IsWindowVisible(h)) return;
  int saved = SaveDC(dc);
  if (flags & PRF_NONCLIENT) {
    // The frame drawn into the given DC: a window DC is borrowed and copied.
    HDC wdc = GetWindowDC(h);
    if (wdc) {
      RECT in = w->Client;
      int W = w->Width(), H = w->Height();
      // top, bottom, left and right bands of the frame
      RECT bands[4] = {{0, 0, W, in.top}, {0, in.bottom, W, H}, {0, in.top, in.left, in.bottom},
                       {in.right, in.top, W, in.bottom}};
      for (const RECT& b : bands)
        if (b.right > b.left && b.bottom > b.top)
          BitBlt(dc, b.left, b.top, b.right - b.left, b.bottom - b.top, wdc, b.left, b.top, SRCCOPY);
      ReleaseDC(h, wdc);
    }
  }
  POINT org{};
  if (flags & PRF_NONCLIENT) {
    OffsetViewportOrgEx(dc, w->Client.left, w->Client.top, &org);
    IntersectClipRect(dc, 0, 0, w->Client.right - w->Client.left, w->Client.bottom - w->Client.top);
  }
  if (flags & PRF_ERASEBKGND) SendMessageW(h, WM_ERASEBKGND, WPARAM(dc), 0);
  if (flags & PRF_CLIENT) SendMessageW(h, WM_PRINTCLIENT, WPARAM(dc), flags);
  if ((flags & PRF_CHILDREN) && (w = Find(h))) {
    std::vector<HWND> kids;
    for (auto it = w->Children.rbegin(); it != w->Children.rend(); ++it)
      if ((*it)->Visible()) kids.push_back((*it)->Handle);
    for (HWND k : kids) {
      TWnd* c = Find(k);
      if (!c) continue;
      int s2 = SaveDC(dc);
      OffsetViewportOrgEx(dc, c->Window.left, c->Window.top, nullptr);
      IntersectClipRect(dc, 0, 0, c->Width(), c->Height());
      SendMessageW(k, WM_PRINT, WPARAM(dc), flags | PRF_NONCLIENT);
      RestoreDC(dc, s2);
    }
  }
  RestoreDC(dc, saved);
}

// The context menu asked for from the keyboard (the menu key, Shift+F10):
// the point (-1, -1) says so.
void KeyboardContextMenu(HWND h) { SendMessageW(h, WM_CONTEXTMENU, WPARAM(h), LPARAM(0xFFFFFFFF)); }

}  // namespace

LRESULT DefWindowProcW(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
  TWnd* w = Find(hWnd);
  if (!w) return 0;
  switch (Msg) {
    case WM_NCCREATE: {
      auto* cs = reinterpret_cast<CREATESTRUCTW*>(lParam);
      if (cs && cs->lpszName) w->Text = cs->lpszName;
      return TRUE;
    }
    case WM_NCCALCSIZE:
      return DefNcCalcSize(w, reinterpret_cast<NCCALCSIZE_PARAMS*>(lParam), wParam != 0);
    case WM_NCHITTEST:
      return DefNcHitTest(w, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
    case WM_NCPAINT:
      DefNcPaint(w, wParam > 1 ? reinterpret_cast<HRGN>(wParam) : nullptr);
      return 0;
    case WM_NCACTIVATE:
      if ((w->Style & WS_CAPTION) == WS_CAPTION) {
        TRgn empty;
        Redraw(w, &empty, RDW_INVALIDATE | RDW_FRAME | RDW_NOCHILDREN);
      }
      return TRUE;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      BeginPaint(hWnd, &ps);
      EndPaint(hWnd, &ps);
      return 0;
    }
    case WM_ERASEBKGND: {
      HBRUSH b = w->Class ? BrushOf(w->Class->Background) : nullptr;
      if (!b) return 0;
      RECT r{0, 0, w->Client.right - w->Client.left, w->Client.bottom - w->Client.top};
      FillRect(reinterpret_cast<HDC>(wParam), &r, b);
      return 1;
    }
    case WM_PRINT:
      PrintWindowTo(w, reinterpret_cast<HDC>(wParam), lParam);
      return 0;
    case WM_SETTEXT:
      w->Text = lParam ? String(reinterpret_cast<LPCWSTR>(lParam)) : String();
      if ((w->Style & WS_CAPTION) == WS_CAPTION) {
        TRgn empty;
        Redraw(w, &empty, RDW_INVALIDATE | RDW_FRAME | RDW_NOCHILDREN);
      }
      return TRUE;
    case WM_GETTEXT: {
      auto* buf = reinterpret_cast<LPWSTR>(lParam);
      int n = int(wParam);
      if (!buf || n <= 0) return 0;
      int len = std::min<int>(int(w->Text.size()), n - 1);
      std::copy(w->Text.begin(), w->Text.begin() + len, buf);
      buf[len] = 0;
      return len;
    }
    case WM_GETTEXTLENGTH:
      return LRESULT(w->Text.size());
    case WM_CLOSE:
      DestroyWindow(hWnd);
      return 0;
    case WM_QUERYENDSESSION:
    case WM_QUERYOPEN:
      return TRUE;
    case WM_WINDOWPOSCHANGING: {
      auto* wp = reinterpret_cast<WINDOWPOS*>(lParam);
      if (wp && !(wp->flags & SWP_NOSIZE) && ((w->Style & WS_THICKFRAME) || !(w->Style & (WS_POPUP | WS_CHILD)))) {
        MINMAXINFO mmi;
        SIZE s = ScreenSize();
        mmi.ptMaxSize = POINT{s.cx, s.cy};
        mmi.ptMinTrackSize = POINT{GetSystemMetrics(SM_CXMINTRACK), GetSystemMetrics(SM_CYMINTRACK)};
        mmi.ptMaxTrackSize = POINT{GetSystemMetrics(SM_CXMAXTRACK), GetSystemMetrics(SM_CYMAXTRACK)};
        SendMessageW(hWnd, WM_GETMINMAXINFO, 0, LPARAM(&mmi));
        if (!(w->Style & (WS_MAXIMIZE | WS_MINIMIZE))) {
          wp->cx = std::clamp<int>(wp->cx, std::min(mmi.ptMinTrackSize.x, mmi.ptMaxTrackSize.x), mmi.ptMaxTrackSize.x);
          wp->cy = std::clamp<int>(wp->cy, std::min(mmi.ptMinTrackSize.y, mmi.ptMaxTrackSize.y), mmi.ptMaxTrackSize.y);
        }
      }
      return 0;
    }
    case WM_WINDOWPOSCHANGED: {
      auto* wp = reinterpret_cast<WINDOWPOS*>(lParam);
      if (!wp) return 0;
      if (!(wp->flags & 0x1000)) {  // the client moved
        POINT co{w->Window.left + w->Client.left, w->Window.top + w->Client.top};
        SendMessageW(hWnd, WM_MOVE, 0, MAKELPARAM(WORD(co.x), WORD(co.y)));
        if (!(w = Find(hWnd))) return 0;
      }
      if (!(wp->flags & 0x0800)) {  // the client changed size
        WPARAM kind = (w->Style & WS_MAXIMIZE) ? SIZE_MAXIMIZED : (w->Style & WS_MINIMIZE) ? SIZE_MINIMIZED : SIZE_RESTORED;
        SendMessageW(hWnd, WM_SIZE, kind,
                     MAKELPARAM(WORD(w->Client.right - w->Client.left), WORD(w->Client.bottom - w->Client.top)));
      }
      return 0;
    }
    case WM_MOUSEACTIVATE: {
      LRESULT r = PassToParent(w, Msg, wParam, lParam);
      return r ? r : MA_ACTIVATE;
    }
    case WM_SETCURSOR: {
      if (PassToParent(w, Msg, wParam, lParam)) return TRUE;
      if (!(w = Find(hWnd))) return FALSE;
      LRESULT hit = SHORT(LOWORD(lParam));
      LPCWSTR id = IDC_ARROW;
      switch (hit) {
        case HTCLIENT:
          if (w->Class && w->Class->Cursor) {
            SetCursor(w->Class->Cursor);
            return TRUE;
          }
          return FALSE;
        case HTLEFT: case HTRIGHT: id = IDC_SIZEWE; break;
        case HTTOP: case HTBOTTOM: id = IDC_SIZENS; break;
        case HTTOPLEFT: case HTBOTTOMRIGHT: id = IDC_SIZENWSE; break;
        case HTTOPRIGHT: case HTBOTTOMLEFT: id = IDC_SIZENESW; break;
        case HTERROR:
          return FALSE;
        default: break;
      }
      SetCursor(LoadCursorW(nullptr, id));
      return TRUE;
    }
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE && !(w->Style & WS_MINIMIZE)) {
        HWND f = GetFocus();
        bool inside = false;
        for (TWnd* x = Find(f); x; x = x->Parent)
          if (x == w) inside = true;
        if (!inside) SetFocus(hWnd);
      }
      return 0;
    case WM_CANCELMODE:
      if (GetCapture() == hWnd) ReleaseCapture();
      return 0;
    case WM_SETREDRAW:
      // As on the platform: the visibility bit goes and comes without messages.
      if (wParam)
        w->Style |= WS_VISIBLE;
      else
        w->Style &= ~WS_VISIBLE;
      w->Redraw = wParam != 0;
      return 0;
    case WM_NCLBUTTONDOWN:
      switch (wParam) {
        case HTVSCROLL: TrackScrollBar(w, SB_VERT, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}); break;
        case HTHSCROLL: TrackScrollBar(w, SB_HORZ, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}); break;
        case HTCLOSE: SendMessageW(hWnd, WM_SYSCOMMAND, SC_CLOSE, lParam); break;
        case HTMINBUTTON: SendMessageW(hWnd, WM_SYSCOMMAND, SC_MINIMIZE, lParam); break;
        case HTMAXBUTTON:
          SendMessageW(hWnd, WM_SYSCOMMAND, (w->Style & WS_MAXIMIZE) ? SC_RESTORE : SC_MAXIMIZE, lParam);
          break;
        case HTCAPTION: SendMessageW(hWnd, WM_SYSCOMMAND, SC_MOVE | HTCAPTION, lParam); break;
        default:
          // a sizing border: the command's low bits are the WMSZ_ edge
          if (LRESULT(wParam) >= HTLEFT && LRESULT(wParam) <= HTBOTTOMRIGHT)
            SendMessageW(hWnd, WM_SYSCOMMAND, SC_SIZE | (wParam - HTLEFT + WMSZ_LEFT), lParam);
          break;
      }
      return 0;
    case WM_NCLBUTTONDBLCLK:
      if (wParam == HTVSCROLL || wParam == HTHSCROLL) return DefWindowProcW(hWnd, WM_NCLBUTTONDOWN, wParam, lParam);
      if (wParam == HTCAPTION && (w->Style & WS_MAXIMIZEBOX))
        SendMessageW(hWnd, WM_SYSCOMMAND, (w->Style & WS_MAXIMIZE) ? SC_RESTORE : SC_MAXIMIZE, lParam);
      return 0;
    case WM_SYSCOMMAND:
      switch (wParam & 0xFFF0) {
        case SC_CLOSE: SendMessageW(hWnd, WM_CLOSE, 0, 0); break;
        case SC_MINIMIZE: ShowWindow(hWnd, SW_MINIMIZE); break;
        case SC_MAXIMIZE: ShowWindow(hWnd, SW_MAXIMIZE); break;
        case SC_RESTORE: ShowWindow(hWnd, SW_RESTORE); break;
        case SC_MOVE:
        case SC_SIZE:
          MoveSizeLoop(w, wParam, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
          break;
        default: break;
      }
      return 0;
    case WM_RBUTTONUP: {
      POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      ClientToScreen(hWnd, &p);
      SendMessageW(hWnd, WM_CONTEXTMENU, WPARAM(hWnd), MAKELPARAM(WORD(p.x), WORD(p.y)));
      return 0;
    }
    case WM_NCRBUTTONUP:
      if (wParam == HTCAPTION || wParam == HTSYSMENU)
        SendMessageW(hWnd, WM_CONTEXTMENU, WPARAM(hWnd), lParam);
      return 0;
    case WM_CONTEXTMENU:
    case WM_MOUSEWHEEL:
    case WM_MOUSEHWHEEL:
      return PassToParent(w, Msg, wParam, lParam);
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORSCROLLBAR: {
      HDC dc = reinterpret_cast<HDC>(wParam);
      bool window = Msg == WM_CTLCOLOREDIT || Msg == WM_CTLCOLORLISTBOX;
      SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
      SetBkColor(dc, GetSysColor(window ? COLOR_WINDOW : COLOR_3DFACE));
      return LRESULT(GetSysColorBrush(window ? COLOR_WINDOW : Msg == WM_CTLCOLORSCROLLBAR ? COLOR_SCROLLBAR : COLOR_3DFACE));
    }
    case WM_GETICON:
      return LRESULT(wParam == ICON_BIG ? w->IconBig : w->IconSmall);
    case WM_SETICON: {
      HICON old = wParam == ICON_BIG ? w->IconBig : w->IconSmall;
      (wParam == ICON_BIG ? w->IconBig : w->IconSmall) = reinterpret_cast<HICON>(lParam);
      return LRESULT(old);
    }
    case WM_SYSKEYDOWN:
      if (wParam == VK_F4 && (lParam & (1 << 29))) SendMessageW(TopLevelOf(w)->Handle, WM_SYSCOMMAND, SC_CLOSE, 0);
      else if (wParam == VK_F10 && GetKeyState(VK_SHIFT) < 0) KeyboardContextMenu(hWnd);
      return 0;
    case WM_KEYDOWN:
      if (wParam == VK_F10 && GetKeyState(VK_SHIFT) < 0) KeyboardContextMenu(hWnd);
      else if (wParam == VK_F1) {
        HELPINFO hi;
        hi.cbSize = sizeof hi;
        hi.iContextType = HELPINFO_WINDOW;
        hi.iCtrlId = GetDlgCtrlID(hWnd);
        hi.hItemHandle = hWnd;
        GetCursorPos(&hi.MousePos);
        SendMessageW(hWnd, WM_HELP, 0, LPARAM(&hi));
      }
      return 0;
    case WM_KEYUP:
    case WM_SYSKEYUP:
      if (wParam == VK_APPS) KeyboardContextMenu(hWnd);
      return 0;
    case WM_HELP:
      // Help not handled goes up: a child's to its parent, a top-level
      // window's to its owner.
      if (w->IsChild())
        PassToParent(w, Msg, wParam, lParam);
      else if (w->Owner)
        SendMessageW(w->Owner->Handle, Msg, wParam, lParam);
      return TRUE;
    case WM_IME_CHAR:
      // An input method's character reaches windows that do not take it
      // themselves as an ordinary character.
      return SendMessageW(hWnd, WM_CHAR, wParam, lParam);
    case WM_SHOWWINDOW:
    case WM_GETDLGCODE:
    default:
      return 0;
  }
}

}  // namespace win
