// The non-client area: the frame model (borders, edges, caption, scroll
// bars), its hit test and painting, and the standard scroll bars with their
// tracking loop.
#include <algorithm>

#include "platform/win/WindowsInternal.h"

namespace win {

using namespace wnd;

namespace {

bool Contains(const RECT& r, POINT p) { return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom; }

TScrollBar& Bar(TWnd* w, int bar) { return w->Scroll[bar == SB_VERT ? 1 : 0]; }

// The parts of a scroll bar along its axis, in window coordinates.
struct TBarLayout {
  RECT Rect{};
  bool Vertical = false;
  int Arrow = 0;        // arrow button length
  int ThumbStart = 0;   // from the bar's start
  int ThumbEnd = 0;     // 0 / 0: no thumb
  int Start() const { return Vertical ? Rect.top : Rect.left; }
  int Length() const { return Vertical ? Rect.bottom - Rect.top : Rect.right - Rect.left; }
};

TBarLayout Layout(TWnd* w, int bar) {
  TBarLayout l;
  l.Rect = ScrollBarRect(w, bar);
  l.Vertical = bar == SB_VERT;
  int len = l.Length();
  int arrow = l.Vertical ? GetSystemMetrics(SM_CYVSCROLL) : GetSystemMetrics(SM_CXHSCROLL);
  if (2 * arrow > len) arrow = len / 2;
  l.Arrow = arrow;
  const TScrollBar& s = Bar(w, bar);
  int track = len - 2 * arrow;
  int64_t range = int64_t(s.Max) - s.Min + 1;
  if (track <= 0 || range <= 0 || s.Disabled == ESB_DISABLE_BOTH) return l;
  int thumb;
  if (s.Page) {
    thumb = int(int64_t(track) * int64_t(s.Page) / range);
    thumb = std::max(thumb, 8);
  } else {
    thumb = l.Vertical ? GetSystemMetrics(SM_CYVTHUMB) : GetSystemMetrics(SM_CXHTHUMB);
  }
  if (thumb >= track) return l;
  int64_t span = range - int64_t(std::max<UINT>(s.Page, 1));
  int pos = s.Tracking ? s.TrackPos : s.Pos;
  int off = span > 0 ? int(int64_t(track - thumb) * (int64_t(pos) - s.Min) / span) : 0;
  off = std::clamp(off, 0, track - thumb);
  l.ThumbStart = arrow + off;
  l.ThumbEnd = l.ThumbStart + thumb;
  return l;
}

void RepaintFrame(TWnd* w) {
  TRgn empty;
  Redraw(w, &empty, RDW_INVALIDATE | RDW_FRAME | RDW_NOCHILDREN);
}

// The largest position a scroll bar can take.
int MaxPos(const TScrollBar& s) {
  int64_t m = int64_t(s.Max) - std::max<int64_t>(int64_t(s.Page) - 1, 0);
  return int(std::max<int64_t>(m, s.Min));
}

void SendScroll(HWND h, int bar, WORD code, int pos) {
  SendMessageW(h, bar == SB_VERT ? WM_VSCROLL : WM_HSCROLL, MAKEWPARAM(code, WORD(pos)), 0);
}

}  // namespace

namespace wnd {

bool ScrollBarShown(const TWnd* w, int bar) {
  RECT r = ScrollBarRect(w, bar);
  return r.right > r.left && r.bottom > r.top;
}

RECT ScrollBarRect(const TWnd* w, int bar) {
  DWORD bit = bar == SB_VERT ? WS_VSCROLL : WS_HSCROLL;
  if (!(w->Style & bit)) return RECT{};
  int cx = GetSystemMetrics(SM_CXVSCROLL), cy = GetSystemMetrics(SM_CYHSCROLL);
  RECT in = FrameInsets(w->Style, w->ExStyle, IsTopLevel(w));
  if (bar == SB_VERT) {
    RECT r{w->Client.right, w->Client.top, w->Client.right + cx, w->Client.bottom};
    if (r.right > w->Width() - in.right) return RECT{};
    return r;
  }
  RECT r{w->Client.left, w->Client.bottom, w->Client.right, w->Client.bottom + cy};
  if (r.bottom > w->Height() - in.bottom) return RECT{};
  return r;
}

LRESULT DefNcCalcSize(TWnd* w, NCCALCSIZE_PARAMS* p, bool calcValid) {
  RECT* r = calcValid ? &p->rgrc[0] : reinterpret_cast<RECT*>(p);
  RECT in = FrameInsets(w->Style, w->ExStyle, IsTopLevel(w));
  r->left += in.left;
  r->top += in.top;
  r->right -= in.right;
  r->bottom -= in.bottom;
  if ((w->Style & WS_VSCROLL) && r->right - r->left >= GetSystemMetrics(SM_CXVSCROLL))
    r->right -= GetSystemMetrics(SM_CXVSCROLL);
  if ((w->Style & WS_HSCROLL) && r->bottom - r->top >= GetSystemMetrics(SM_CYHSCROLL))
    r->bottom -= GetSystemMetrics(SM_CYHSCROLL);
  if (r->right < r->left) r->right = r->left;
  if (r->bottom < r->top) r->bottom = r->top;
  return 0;
}

LRESULT DefNcHitTest(TWnd* w, POINT screen) {
  RECT wr = ScreenWindowRect(w);
  if (!Contains(wr, screen)) return HTNOWHERE;
  POINT p{screen.x - wr.left, screen.y - wr.top};
  if (Contains(w->Client, p)) return HTCLIENT;
  RECT vs = ScrollBarRect(w, SB_VERT), hs = ScrollBarRect(w, SB_HORZ);
  if (Contains(vs, p)) return HTVSCROLL;
  if (Contains(hs, p)) return HTHSCROLL;
  if (vs.right > vs.left && hs.right > hs.left && p.x >= vs.left && p.x < vs.right && p.y >= hs.top &&
      p.y < hs.bottom)
    return (w->Style & WS_THICKFRAME) ? HTBOTTOMRIGHT : HTSIZE;
  int W = w->Width(), H = w->Height();
  if (w->Style & WS_THICKFRAME) {
    int f = GetSystemMetrics(SM_CXFRAME);
    int corner = GetSystemMetrics(SM_CXSIZE) / 2 + f;
    bool left = p.x < f, right = p.x >= W - f, top = p.y < f, bottom = p.y >= H - f;
    if (left || right || top || bottom) {
      bool nearLeft = p.x < corner, nearRight = p.x >= W - corner, nearTop = p.y < corner,
           nearBottom = p.y >= H - corner;
      if ((top && nearLeft) || (left && nearTop)) return HTTOPLEFT;
      if ((top && nearRight) || (right && nearTop)) return HTTOPRIGHT;
      if ((bottom && nearLeft) || (left && nearBottom)) return HTBOTTOMLEFT;
      if ((bottom && nearRight) || (right && nearBottom)) return HTBOTTOMRIGHT;
      if (left) return HTLEFT;
      if (right) return HTRIGHT;
      if (top) return HTTOP;
      return HTBOTTOM;
    }
  }
  RECT in = FrameInsets(w->Style, w->ExStyle, IsTopLevel(w));
  if ((w->Style & WS_CAPTION) == WS_CAPTION) {
    int b = in.left - ((w->ExStyle & WS_EX_CLIENTEDGE) ? GetSystemMetrics(SM_CXEDGE) : 0);
    int capH = (w->ExStyle & WS_EX_TOOLWINDOW) ? GetSystemMetrics(SM_CYSMCAPTION) : GetSystemMetrics(SM_CYCAPTION);
    RECT cap{b, b, W - b, b + capH};
    if (Contains(cap, p)) {
      int bw = (w->ExStyle & WS_EX_TOOLWINDOW) ? GetSystemMetrics(SM_CXSMSIZE) : GetSystemMetrics(SM_CXSIZE);
      if (w->Style & WS_SYSMENU) {
        if (p.x >= cap.right - bw) return HTCLOSE;
        int x = cap.right - bw;
        if (w->Style & WS_MAXIMIZEBOX) {
          if (p.x >= x - bw) return HTMAXBUTTON;
          x -= bw;
        }
        if (w->Style & WS_MINIMIZEBOX) {
          if (p.x >= x - bw) return HTMINBUTTON;
        }
        if (!(w->ExStyle & WS_EX_TOOLWINDOW) && p.x < cap.left + GetSystemMetrics(SM_CXSMICON) + 2)
          return HTSYSMENU;
      }
      return HTCAPTION;
    }
  }
  return HTBORDER;
}

void DrawScrollBars(TWnd* w, HDC dc) {
  for (int bar : {SB_HORZ, SB_VERT}) {
    if (!ScrollBarShown(w, bar)) continue;
    TBarLayout l = Layout(w, bar);
    const TScrollBar& s = Bar(w, bar);
    RECT r = l.Rect;
    bool disabled = (w->Style & WS_DISABLED) || s.Disabled == ESB_DISABLE_BOTH || s.Max <= s.Min;
    RECT a1 = r, a2 = r;
    if (l.Vertical) {
      a1.bottom = r.top + l.Arrow;
      a2.top = r.bottom - l.Arrow;
    } else {
      a1.right = r.left + l.Arrow;
      a2.left = r.right - l.Arrow;
    }
    UINT st1 = (disabled || (s.Disabled & ESB_DISABLE_LTUP)) ? DFCS_INACTIVE : 0;
    UINT st2 = (disabled || (s.Disabled & ESB_DISABLE_RTDN)) ? DFCS_INACTIVE : 0;
    DrawFrameControl(dc, &a1, DFC_SCROLL, (l.Vertical ? DFCS_SCROLLUP : DFCS_SCROLLLEFT) | st1);
    DrawFrameControl(dc, &a2, DFC_SCROLL, (l.Vertical ? DFCS_SCROLLDOWN : DFCS_SCROLLRIGHT) | st2);
    RECT track = r;
    if (l.Vertical) {
      track.top = a1.bottom;
      track.bottom = a2.top;
    } else {
      track.left = a1.right;
      track.right = a2.left;
    }
    FillRect(dc, &track, GetSysColorBrush(COLOR_SCROLLBAR));
    if (!disabled && l.ThumbEnd > l.ThumbStart) {
      RECT th = r;
      if (l.Vertical) {
        th.top = r.top + l.ThumbStart;
        th.bottom = r.top + l.ThumbEnd;
      } else {
        th.left = r.left + l.ThumbStart;
        th.right = r.left + l.ThumbEnd;
      }
      FillRect(dc, &th, GetSysColorBrush(COLOR_BTNFACE));
      DrawEdge(dc, &th, EDGE_RAISED, BF_RECT);
    }
  }
  RECT vs = ScrollBarRect(w, SB_VERT), hs = ScrollBarRect(w, SB_HORZ);
  if (vs.right > vs.left && hs.right > hs.left) {
    RECT box{vs.left, hs.top, vs.right, hs.bottom};
    FillRect(dc, &box, GetSysColorBrush(COLOR_BTNFACE));
  }
}

void DefNcPaint(TWnd* w, HRGN) {
  HDC dc = GetWindowDC(w->Handle);
  if (!dc) return;
  int W = w->Width(), H = w->Height();
  RECT r{0, 0, W, H};
  DWORD st = w->Style, ex = w->ExStyle;
  if (st & WS_THICKFRAME || (st & WS_DLGFRAME) || (ex & WS_EX_DLGMODALFRAME)) {
    int f = (st & WS_THICKFRAME) ? GetSystemMetrics(SM_CXFRAME) : GetSystemMetrics(SM_CXDLGFRAME);
    RECT outer = r;
    HBRUSH face = GetSysColorBrush(COLOR_BTNFACE);
    RECT band;
    band = RECT{0, 0, W, f}; FillRect(dc, &band, face);
    band = RECT{0, H - f, W, H}; FillRect(dc, &band, face);
    band = RECT{0, 0, f, H}; FillRect(dc, &band, face);
    band = RECT{W - f, 0, W, H}; FillRect(dc, &band, face);
    DrawEdge(dc, &outer, EDGE_RAISED, BF_RECT);
    InflateRect(&r, -f, -f);
  } else if (st & WS_BORDER) {
    FrameRect(dc, &r, GetSysColorBrush(COLOR_WINDOWFRAME));
    InflateRect(&r, -1, -1);
  }
  if ((st & WS_CAPTION) == WS_CAPTION) {
    int capH = (ex & WS_EX_TOOLWINDOW) ? GetSystemMetrics(SM_CYSMCAPTION) : GetSystemMetrics(SM_CYCAPTION);
    RECT cap{r.left, r.top, r.right, r.top + capH};
    bool active = Input().Active == TopLevelOf(w)->Handle;
    FillRect(dc, &cap, GetSysColorBrush(active ? COLOR_ACTIVECAPTION : COLOR_INACTIVECAPTION));
    int bw = (ex & WS_EX_TOOLWINDOW) ? GetSystemMetrics(SM_CXSMSIZE) : GetSystemMetrics(SM_CXSIZE);
    int right = cap.right;
    if (st & WS_SYSMENU) {
      RECT b{right - bw + 2, cap.top + 2, right - 2, cap.bottom - 2};
      DrawFrameControl(dc, &b, DFC_CAPTION, DFCS_CAPTIONCLOSE);
      right -= bw;
      if (st & WS_MAXIMIZEBOX) {
        RECT m{right - bw + 2, cap.top + 2, right - 2, cap.bottom - 2};
        DrawFrameControl(dc, &m, DFC_CAPTION, (st & WS_MAXIMIZE) ? DFCS_CAPTIONRESTORE : DFCS_CAPTIONMAX);
        right -= bw;
      }
      if (st & WS_MINIMIZEBOX) {
        RECT m{right - bw + 2, cap.top + 2, right - 2, cap.bottom - 2};
        DrawFrameControl(dc, &m, DFC_CAPTION, DFCS_CAPTIONMIN);
        right -= bw;
      }
    }
    if (!w->Text.empty()) {
      SetBkMode(dc, TRANSPARENT);
      SetTextColor(dc, GetSysColor(active ? COLOR_CAPTIONTEXT : COLOR_INACTIVECAPTIONTEXT));
      RECT t{cap.left + 4, cap.top, right - 2, cap.bottom};
      DrawTextW(dc, w->Text.c_str(), int(w->Text.size()), &t, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
    }
    r.top = cap.bottom;
  }
  if (ex & WS_EX_CLIENTEDGE) {
    DrawEdge(dc, &r, EDGE_SUNKEN, BF_RECT);
    InflateRect(&r, -GetSystemMetrics(SM_CXEDGE), -GetSystemMetrics(SM_CYEDGE));
  }
  if (ex & WS_EX_STATICEDGE) {
    DrawEdge(dc, &r, BDR_SUNKENOUTER, BF_RECT);
    InflateRect(&r, -1, -1);
  }
  DrawScrollBars(w, dc);
  ReleaseDC(w->Handle, dc);
  NotifyBackend(w);
}

void TrackScrollBar(TWnd* w, int bar, POINT screen) {
  HWND h = w->Handle;
  TBarLayout l = Layout(w, bar);
  TScrollBar& sb = Bar(w, bar);
  if ((w->Style & WS_DISABLED) || sb.Disabled == ESB_DISABLE_BOTH) return;
  RECT wr = ScreenWindowRect(w);
  auto along = [&](POINT s) { return l.Vertical ? s.y - wr.top - l.Rect.top : s.x - wr.left - l.Rect.left; };
  int at = along(screen);
  int len = l.Length();
  enum { None, LineUp, LineDown, PageUp, PageDown, Thumb } part = None;
  if (at < l.Arrow) part = (sb.Disabled & ESB_DISABLE_LTUP) ? None : LineUp;
  else if (at >= len - l.Arrow) part = (sb.Disabled & ESB_DISABLE_RTDN) ? None : LineDown;
  else if (l.ThumbEnd > l.ThumbStart && at >= l.ThumbStart && at < l.ThumbEnd) part = Thumb;
  else if (l.ThumbEnd > l.ThumbStart && at < l.ThumbStart) part = PageUp;
  else if (l.ThumbEnd > l.ThumbStart) part = PageDown;
  if (part == None) return;
  auto codeOf = [&]() -> WORD {
    switch (part) {
      case LineUp: return SB_LINEUP;
      case LineDown: return SB_LINEDOWN;
      case PageUp: return SB_PAGEUP;
      default: return SB_PAGEDOWN;
    }
  };
  SetCapture(h);
  int grab = at - l.ThumbStart;
  if (part == Thumb) {
    sb.Tracking = true;
    sb.TrackPos = sb.Pos;
  } else {
    SendScroll(h, bar, codeOf(), 0);
  }
  DWORD next = Now() + 400;  // the first repeat waits longer
  int lastPos = sb.Pos;
  // The thumb follows a pointer at a screen point.
  auto dragThumb = [&](POINT pt) -> bool {
    TWnd* cw = Find(h);
    if (!cw) return false;
    TScrollBar& s = Bar(cw, bar);
    TBarLayout cl = Layout(cw, bar);
    int track = cl.Length() - 2 * cl.Arrow;
    int thumb = cl.ThumbEnd - cl.ThumbStart;
    int a = along(pt) - grab - cl.Arrow;
    int64_t range = int64_t(s.Max) - s.Min + 1;
    int64_t span = range - int64_t(std::max<UINT>(s.Page, 1));
    int pos = s.Min;
    if (track - thumb > 0 && span > 0)
      pos = int(s.Min + int64_t(std::clamp(a, 0, track - thumb)) * span / (track - thumb));
    pos = std::clamp(pos, s.Min, MaxPos(s));
    if (pos != lastPos) {
      s.TrackPos = pos;
      lastPos = pos;
      RepaintFrame(cw);
      SendScroll(h, bar, SB_THUMBTRACK, pos);
    }
    return true;
  };
  int button = GetSystemMetrics(SM_SWAPBUTTON) ? VK_RBUTTON : VK_LBUTTON;
  for (;;) {
    if (!IsWindow(h) || GetCapture() != h) break;
    MSG m;
    if (!PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
      // Input that reached the queue before the capture went where the
      // pointer was: the thumb follows the pointer, and a button already up
      // ends the loop.
      if (part == Thumb && !dragThumb(Input().Cursor)) break;
      if (!IsWindow(h) || GetCapture() != h) break;
      if (!(GetAsyncKeyState(button) & 0x8000)) break;
      if (part != Thumb && int32_t(Now() - next) >= 0) {
        POINT c = Input().Cursor;
        TWnd* cw = Find(h);
        if (!cw) break;
        TBarLayout cl = Layout(cw, bar);
        int ca = along(c);
        bool still = false;
        switch (part) {
          case LineUp: still = ca >= 0 && ca < cl.Arrow; break;
          case LineDown: still = ca >= cl.Length() - cl.Arrow && ca < cl.Length(); break;
          case PageUp: still = ca >= cl.Arrow && ca < cl.ThumbStart; break;
          case PageDown: still = ca >= cl.ThumbEnd && ca < cl.Length() - cl.Arrow; break;
          default: break;
        }
        if (still) SendScroll(h, bar, codeOf(), 0);
        next = Now() + 50;
        continue;
      }
      MsgWaitForMultipleObjects(0, nullptr, FALSE, part == Thumb ? INFINITE : 20, QS_ALLINPUT);
      continue;
    }
    if (m.message == WM_QUIT) {
      PostQuitMessage(int(m.wParam));
      break;
    }
    if (m.message == WM_LBUTTONUP || m.message == WM_NCLBUTTONUP) break;
    if ((m.message == WM_MOUSEMOVE || m.message == WM_NCMOUSEMOVE) && part == Thumb) {
      if (!dragThumb(m.pt)) break;
      continue;
    }
    if ((m.message >= WM_MOUSEFIRST && m.message <= WM_MOUSELAST) || (m.message >= WM_KEYFIRST && m.message <= WM_KEYLAST))
      continue;  // input belongs to the tracking loop
    TranslateMessage(&m);
    DispatchMessageW(&m);
  }
  if (TWnd* cw = Find(h)) {
    TScrollBar& s = Bar(cw, bar);
    if (part == Thumb) {
      s.Tracking = false;
      SendScroll(h, bar, SB_THUMBPOSITION, s.TrackPos);
    }
    if (IsWindow(h)) SendScroll(h, bar, SB_ENDSCROLL, 0);
    if (GetCapture() == h) ReleaseCapture();
    if ((cw = Find(h))) RepaintFrame(cw);
  }
}

}  // namespace wnd

// ---------------------------------------------------------------------------
// Scroll bar functions

int SetScrollInfo(HWND hwnd, int nBar, LPCSCROLLINFO si, BOOL redraw) {
  TWnd* w = Find(hwnd);
  if (!w || !si || (nBar != SB_HORZ && nBar != SB_VERT)) return 0;
  TScrollBar& s = Bar(w, nBar);
  if (si->fMask & SIF_RANGE) {
    s.Min = si->nMin;
    s.Max = std::max(si->nMax, si->nMin);
  }
  int64_t range = int64_t(s.Max) - s.Min + 1;
  if (si->fMask & SIF_PAGE) s.Page = UINT(std::min<int64_t>(si->nPage, range));
  if (s.Page > range) s.Page = UINT(range);
  if (si->fMask & SIF_POS) s.Pos = si->nPos;
  s.Pos = std::clamp(s.Pos, s.Min, MaxPos(s));
  // A bar with nothing to scroll hides, or disables with SIF_DISABLENOSCROLL.
  bool scrollable = s.Max > s.Min && int64_t(s.Page) < range;
  if (si->fMask & (SIF_RANGE | SIF_PAGE)) {
    DWORD bit = nBar == SB_VERT ? WS_VSCROLL : WS_HSCROLL;
    if (si->fMask & SIF_DISABLENOSCROLL) {
      s.Disabled = scrollable ? ESB_ENABLE_BOTH : ESB_DISABLE_BOTH;
      if (!(w->Style & bit)) ShowScrollBar(hwnd, nBar, TRUE);
    } else if (scrollable != ((w->Style & bit) != 0)) {
      ShowScrollBar(hwnd, nBar, scrollable);
    }
    if (!(w = Find(hwnd))) return 0;
  }
  if (redraw) RepaintFrame(w);
  return Bar(w, nBar).Pos;
}

BOOL GetScrollInfo(HWND hwnd, int nBar, LPSCROLLINFO si) {
  TWnd* w = Find(hwnd);
  if (!w || !si || (nBar != SB_HORZ && nBar != SB_VERT)) return FALSE;
  const TScrollBar& s = Bar(w, nBar);
  if (si->fMask & SIF_RANGE) {
    si->nMin = s.Min;
    si->nMax = s.Max;
  }
  if (si->fMask & SIF_PAGE) si->nPage = s.Page;
  if (si->fMask & SIF_POS) si->nPos = s.Pos;
  if (si->fMask & SIF_TRACKPOS) si->nTrackPos = s.Tracking ? s.TrackPos : s.Pos;
  return TRUE;
}

int SetScrollPos(HWND hWnd, int nBar, int nPos, BOOL bRedraw) {
  TWnd* w = Find(hWnd);
  if (!w || (nBar != SB_HORZ && nBar != SB_VERT)) return 0;
  int old = Bar(w, nBar).Pos;
  SCROLLINFO si;
  si.fMask = SIF_POS;
  si.nPos = nPos;
  SetScrollInfo(hWnd, nBar, &si, bRedraw);
  return old;
}

int GetScrollPos(HWND hWnd, int nBar) {
  TWnd* w = Find(hWnd);
  if (!w || (nBar != SB_HORZ && nBar != SB_VERT)) return 0;
  return Bar(w, nBar).Pos;
}

BOOL SetScrollRange(HWND hWnd, int nBar, int nMinPos, int nMaxPos, BOOL bRedraw) {
  SCROLLINFO si;
  si.fMask = SIF_RANGE;
  si.nMin = nMinPos;
  si.nMax = nMaxPos;
  return SetScrollInfo(hWnd, nBar, &si, bRedraw) >= 0 && IsWindow(hWnd);
}

BOOL GetScrollRange(HWND hWnd, int nBar, LPINT lpMinPos, LPINT lpMaxPos) {
  TWnd* w = Find(hWnd);
  if (!w || (nBar != SB_HORZ && nBar != SB_VERT)) return FALSE;
  if (lpMinPos) *lpMinPos = Bar(w, nBar).Min;
  if (lpMaxPos) *lpMaxPos = Bar(w, nBar).Max;
  return TRUE;
}

BOOL ShowScrollBar(HWND hWnd, int wBar, BOOL bShow) {
  TWnd* w = Find(hWnd);
  if (!w) return FALSE;
  DWORD bits = wBar == SB_BOTH ? (WS_HSCROLL | WS_VSCROLL) : wBar == SB_VERT ? WS_VSCROLL : wBar == SB_HORZ ? WS_HSCROLL : 0;
  if (!bits) return FALSE;
  DWORD old = w->Style;
  if (bShow)
    w->Style |= bits;
  else
    w->Style &= ~bits;
  if (w->Style != old)
    SetWindowPos(hWnd, nullptr, 0, 0, 0, 0,
                 SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  return TRUE;
}

BOOL EnableScrollBar(HWND hWnd, UINT wSBflags, UINT wArrows) {
  TWnd* w = Find(hWnd);
  if (!w) return FALSE;
  bool changed = false;
  for (int bar : {SB_HORZ, SB_VERT}) {
    if (!(wSBflags == UINT(SB_BOTH) || wSBflags == UINT(bar))) continue;
    TScrollBar& s = Bar(w, bar);
    if (s.Disabled != (wArrows & 3)) changed = true;
    s.Disabled = wArrows & 3;
  }
  if (changed) RepaintFrame(w);
  return changed;
}

BOOL GetScrollBarInfo(HWND hwnd, LONG idObject, SCROLLBARINFO* psbi) {
  TWnd* w = Find(hwnd);
  if (!w || !psbi || psbi->cbSize != sizeof(SCROLLBARINFO) ||
      (idObject != OBJID_HSCROLL && idObject != OBJID_VSCROLL)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  int bar = idObject == OBJID_VSCROLL ? SB_VERT : SB_HORZ;
  DWORD cb = psbi->cbSize;
  *psbi = SCROLLBARINFO{};
  psbi->cbSize = cb;
  RECT wr = ScreenWindowRect(w);
  bool shown = ScrollBarShown(w, bar);
  RECT r = ScrollBarRect(w, bar);
  if (!shown) {
    // Where the bar would be: along the client edge, zero thickness.
    r = bar == SB_VERT ? RECT{w->Client.right, w->Client.top, w->Client.right, w->Client.bottom}
                       : RECT{w->Client.left, w->Client.bottom, w->Client.right, w->Client.bottom};
  }
  psbi->rcScrollBar = RECT{r.left + wr.left, r.top + wr.top, r.right + wr.left, r.bottom + wr.top};
  TBarLayout l = Layout(w, bar);
  psbi->dxyLineButton = l.Arrow;
  psbi->xyThumbTop = l.ThumbStart;
  psbi->xyThumbBottom = l.ThumbEnd;
  const TScrollBar& s = Bar(w, bar);
  if (!(w->Style & (bar == SB_VERT ? WS_VSCROLL : WS_HSCROLL))) psbi->rgstate[0] |= STATE_SYSTEM_INVISIBLE;
  else if (!shown) psbi->rgstate[0] |= STATE_SYSTEM_OFFSCREEN;
  if (s.Disabled == ESB_DISABLE_BOTH || (w->Style & WS_DISABLED)) psbi->rgstate[0] |= STATE_SYSTEM_UNAVAILABLE;
  if (s.Disabled & ESB_DISABLE_LTUP) psbi->rgstate[1] |= STATE_SYSTEM_UNAVAILABLE;
  if (s.Disabled & ESB_DISABLE_RTDN) psbi->rgstate[5] |= STATE_SYSTEM_UNAVAILABLE;
  if (l.ThumbEnd <= l.ThumbStart) psbi->rgstate[3] |= STATE_SYSTEM_INVISIBLE;
  return TRUE;
}

}  // namespace win
