// Window geometry: SetWindowPos and the messages that follow, ShowWindow,
// coordinates, hit testing, the frame model, window regions and layered
// windows.
#include <algorithm>
#include <cstring>

#include "platform/win/WindowsInternal.h"

namespace win {

using namespace wnd;

namespace {

// The platform's internal WINDOWPOS flags telling WM_WINDOWPOSCHANGED that
// the client area did not change size or place.
constexpr UINT SWP_NOCLIENTSIZE = 0x0800, SWP_NOCLIENTMOVE = 0x1000;

// The largest backing store of a top-level window (pixels per side); a larger
// window draws only into this much.
constexpr int MaxBackingSide = 16384;
constexpr size_t MaxBackingPixels = size_t(64) << 20;

// Point arithmetic on caller-given coordinates wraps, as the platform's does.
LONG WrapAdd(LONG a, LONG b) { return LONG(uint32_t(a) + uint32_t(b)); }
LONG WrapSub(LONG a, LONG b) { return LONG(uint32_t(a) - uint32_t(b)); }

RECT Offset(RECT r, int dx, int dy) { return RECT{r.left + dx, r.top + dy, r.right + dx, r.bottom + dy}; }

bool Contains(const RECT& r, POINT p) { return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom; }

bool InRegion(const TWnd* w, POINT screen) {
  if (!w->Region) return true;
  RECT wr = ScreenWindowRect(w);
  return PtInRegion(w->Region, screen.x - wr.left, screen.y - wr.top) != 0;
}

// Places w in its parent's list per hWndInsertAfter.
void Restack(TWnd* w, HWND after) {
  TWnd* p = w->Parent;
  if (!p) return;
  auto& v = p->Children;
  bool top = IsTopLevel(w);
  if (after == HWND_TOPMOST) {
    if (top) w->ExStyle |= WS_EX_TOPMOST;
    after = HWND_TOP;
  } else if (after == HWND_NOTOPMOST) {
    if (top) w->ExStyle &= ~WS_EX_TOPMOST;
    after = HWND_TOP;
  }
  v.erase(std::remove(v.begin(), v.end(), w), v.end());
  if (after == HWND_BOTTOM) {
    if (top && (w->ExStyle & WS_EX_TOPMOST)) w->ExStyle &= ~WS_EX_TOPMOST;
    v.push_back(w);
  } else if (after == HWND_TOP || !after) {
    auto it = v.begin();
    if (top && !(w->ExStyle & WS_EX_TOPMOST))
      it = std::find_if(v.begin(), v.end(), [](TWnd* s) { return !(s->ExStyle & WS_EX_TOPMOST); });
    v.insert(it, w);
  } else {
    TWnd* a = Find(after);
    auto it = a ? std::find(v.begin(), v.end(), a) : v.end();
    if (it == v.end())
      v.insert(v.begin(), w);
    else
      v.insert(it + 1, w);
  }
  // Owned windows stay above their owner.
  if (top) {
    std::vector<TWnd*> owned;
    for (TWnd* s : v)
      if (s->Owner == w) owned.push_back(s);
    if (!owned.empty()) {
      for (TWnd* o : owned) v.erase(std::remove(v.begin(), v.end(), o), v.end());
      auto it = std::find(v.begin(), v.end(), w);
      v.insert(it, owned.begin(), owned.end());
    }
  }
}

// The window or a descendant holds the focus.
bool HoldsFocus(TWnd* w) {
  TWnd* f = Find(Input().Focus);
  for (; f; f = f->Parent)
    if (f == w) return true;
  return false;
}

TWnd* Deepest(TWnd* w, POINT screen, const std::vector<TWnd*>& excluded) {
  for (;;) {
    TWnd* next = nullptr;
    for (TWnd* c : w->Children) {
      if (!c->Visible() || (c->Style & WS_DISABLED)) continue;
      if (std::find(excluded.begin(), excluded.end(), c) != excluded.end()) continue;
      if (Contains(ScreenWindowRect(c), screen) && InRegion(c, screen)) {
        next = c;
        break;
      }
    }
    if (!next) return w;
    w = next;
  }
}

}  // namespace

namespace wnd {

RECT ScreenWindowRect(const TWnd* w) {
  if (!w->Parent || IsTopLevel(w)) return w->Window;
  POINT o = ClientOrigin(w->Parent);
  return Offset(w->Window, o.x, o.y);
}

POINT ClientOrigin(const TWnd* w) {
  RECT r = ScreenWindowRect(w);
  return POINT{r.left + w->Client.left, r.top + w->Client.top};
}

RECT ScreenClientRect(const TWnd* w) {
  POINT o = ClientOrigin(w);
  return RECT{o.x, o.y, o.x + (w->Client.right - w->Client.left), o.y + (w->Client.bottom - w->Client.top)};
}

RECT FrameInsets(DWORD style, DWORD exStyle, bool) {
  int b = 0;
  if (style & WS_THICKFRAME)
    b = GetSystemMetrics(SM_CXFRAME);
  else if ((style & WS_DLGFRAME) || (exStyle & WS_EX_DLGMODALFRAME))
    b = GetSystemMetrics(SM_CXDLGFRAME);
  else if (style & WS_BORDER)
    b = GetSystemMetrics(SM_CXBORDER);
  if (exStyle & WS_EX_CLIENTEDGE) b += GetSystemMetrics(SM_CXEDGE);
  if (exStyle & WS_EX_STATICEDGE) b += GetSystemMetrics(SM_CXBORDER);
  RECT r{b, b, b, b};
  if ((style & WS_CAPTION) == WS_CAPTION)
    r.top += (exStyle & WS_EX_TOOLWINDOW) ? GetSystemMetrics(SM_CYSMCAPTION) : GetSystemMetrics(SM_CYCAPTION);
  return r;
}

LRESULT CalcClient(TWnd* w, const RECT& newWindow, WINDOWPOS* pos) {
  HWND h = w->Handle;
  LRESULT r;
  RECT client;
  if (!pos) {
    RECT rc = newWindow;
    r = SendMessageW(h, WM_NCCALCSIZE, FALSE, LPARAM(&rc));
    client = rc;
  } else {
    NCCALCSIZE_PARAMS p;
    p.rgrc[0] = newWindow;
    p.rgrc[1] = w->Window;
    p.rgrc[2] = Offset(w->Client, w->Window.left, w->Window.top);
    p.lppos = pos;
    r = SendMessageW(h, WM_NCCALCSIZE, TRUE, LPARAM(&p));
    client = p.rgrc[0];
  }
  if (!(w = Find(h))) return r;
  client = Offset(client, -newWindow.left, -newWindow.top);
  int ww = newWindow.right - newWindow.left, wh = newWindow.bottom - newWindow.top;
  client.left = std::clamp<LONG>(client.left, 0, ww);
  client.top = std::clamp<LONG>(client.top, 0, wh);
  client.right = std::clamp<LONG>(client.right, client.left, ww);
  client.bottom = std::clamp<LONG>(client.bottom, client.top, wh);
  w->Client = client;
  return r;
}

void SyncBacking(TWnd* w) {
  if (!IsTopLevel(w)) return;
  int nw = std::clamp(w->Width(), 0, MaxBackingSide), nh = std::clamp(w->Height(), 0, MaxBackingSide);
  if (size_t(nw) * size_t(nh) > MaxBackingPixels) nh = int(MaxBackingPixels / size_t(std::max(nw, 1)));
  if (nw == w->PixWidth && nh == w->PixHeight && !w->Pixels.empty()) return;
  std::vector<uint32_t> px(size_t(nw) * size_t(nh), 0xFFFFFFFFu);
  int cw = std::min(nw, w->PixWidth), ch = std::min(nh, w->PixHeight);
  for (int y = 0; y < ch; ++y)
    std::memcpy(&px[size_t(y) * size_t(nw)], &w->Pixels[size_t(y) * size_t(w->PixWidth)], size_t(cw) * 4);
  w->Pixels.swap(px);
  w->PixWidth = nw;
  w->PixHeight = nh;
  BackingChanged(w);
}

void NotifyBackend(TWnd* w, const RECT* area) {
  TWnd* t = TopLevelOf(w);
  if (!t || !t->Parent) return;
  MarkScreenStale();
  if (TBackend* b = CurrentBackend()) b->WindowChanged(t->Handle, area);
}

TWnd* HitTest(POINT screen, LRESULT* hit) {
  *hit = HTNOWHERE;
  std::vector<TWnd*> excluded;
  TWnd* desk = Desktop();
  for (int round = 0; round < 64; ++round) {
    TWnd* top = nullptr;
    for (TWnd* s : desk->Children) {
      if (!s->Visible() || (s->Style & WS_MINIMIZE)) continue;
      if (std::find(excluded.begin(), excluded.end(), s) != excluded.end()) continue;
      if ((s->ExStyle & WS_EX_LAYERED) && (s->ExStyle & WS_EX_TRANSPARENT)) continue;
      if (Contains(s->Window, screen) && InRegion(s, screen)) {
        top = s;
        break;
      }
    }
    if (!top) return nullptr;
    if (top->Style & WS_DISABLED) {
      *hit = HTERROR;
      return top;
    }
    TWnd* w = Deepest(top, screen, excluded);
    HWND h = w->Handle;
    LRESULT r = SendMessageW(h, WM_NCHITTEST, 0, MAKELPARAM(WORD(screen.x), WORD(screen.y)));
    if (!Find(h)) return nullptr;
    if (r != HTTRANSPARENT) {
      *hit = r;
      return w;
    }
    excluded.push_back(w);
  }
  return nullptr;
}

}  // namespace wnd

// ---------------------------------------------------------------------------
// SetWindowPos and friends

BOOL SetWindowPos(HWND hWnd, HWND after, int X, int Y, int cx, int cy, UINT flags) {
  if (MustMarshal(hWnd)) return Marshal<BOOL>([&] { return SetWindowPos(hWnd, after, X, Y, cx, cy, flags); });
  TWnd* w = Find(hWnd);
  if (!w || w == Desktop()) {
    SetLastError(1400);
    return FALSE;
  }
  bool visible = w->Visible();
  if (visible) flags &= ~SWP_SHOWWINDOW;
  else flags &= ~SWP_HIDEWINDOW;
  if (!IsTopLevel(w)) flags |= SWP_NOACTIVATE;
  if (after == hWnd) flags |= SWP_NOZORDER;
  if ((flags & (SWP_SHOWWINDOW | SWP_HIDEWINDOW)) == (SWP_SHOWWINDOW | SWP_HIDEWINDOW)) flags &= ~SWP_SHOWWINDOW;
  // Coordinates stay far from the int limits, so sums never overflow.
  X = std::clamp(X, -MaxCoord, MaxCoord);
  Y = std::clamp(Y, -MaxCoord, MaxCoord);
  cx = std::clamp(cx, 0, MaxCoord);
  cy = std::clamp(cy, 0, MaxCoord);

  WINDOWPOS wp;
  wp.hwnd = hWnd;
  wp.hwndInsertAfter = after;
  wp.x = (flags & SWP_NOMOVE) ? w->Window.left : X;
  wp.y = (flags & SWP_NOMOVE) ? w->Window.top : Y;
  wp.cx = (flags & SWP_NOSIZE) ? w->Width() : cx;
  wp.cy = (flags & SWP_NOSIZE) ? w->Height() : cy;
  wp.flags = flags;
  if (!(flags & SWP_NOSENDCHANGING)) {
    SendMessageW(hWnd, WM_WINDOWPOSCHANGING, 0, LPARAM(&wp));
    if (!(w = Find(hWnd))) return FALSE;
  }
  flags = wp.flags;
  wp.x = std::clamp(wp.x, -MaxCoord, MaxCoord);
  wp.y = std::clamp(wp.y, -MaxCoord, MaxCoord);
  wp.cx = std::min(wp.cx, MaxCoord);
  wp.cy = std::min(wp.cy, MaxCoord);
  if (flags & SWP_NOMOVE) {
    wp.x = w->Window.left;
    wp.y = w->Window.top;
  }
  if (flags & SWP_NOSIZE) {
    wp.cx = w->Width();
    wp.cy = w->Height();
  }
  wp.cx = std::max(wp.cx, 0);
  wp.cy = std::max(wp.cy, 0);

  RECT oldWindow = w->Window;
  RECT oldClient = w->Client;
  RECT newWindow{wp.x, wp.y, wp.x + wp.cx, wp.y + wp.cy};
  bool sized = newWindow.right - newWindow.left != oldWindow.right - oldWindow.left ||
               newWindow.bottom - newWindow.top != oldWindow.bottom - oldWindow.top;
  bool moved = newWindow.left != oldWindow.left || newWindow.top != oldWindow.top;
  LRESULT wvr = 0;
  if (sized || moved || (flags & SWP_FRAMECHANGED)) {
    wvr = CalcClient(w, newWindow, &wp);
    if (!(w = Find(hWnd))) return FALSE;
  }
  w->Window = newWindow;
  SyncBacking(w);
  if (!(flags & SWP_NOZORDER)) Restack(w, wp.hwndInsertAfter);
  bool clientSized = (w->Client.right - w->Client.left) != (oldClient.right - oldClient.left) ||
                     (w->Client.bottom - w->Client.top) != (oldClient.bottom - oldClient.top);
  bool clientMoved = w->Client.left + newWindow.left != oldClient.left + oldWindow.left ||
                     w->Client.top + newWindow.top != oldClient.top + oldWindow.top;
  if (!clientSized) flags |= SWP_NOCLIENTSIZE;
  if (!clientMoved) flags |= SWP_NOCLIENTMOVE;

  bool hidden = false;
  if (flags & SWP_SHOWWINDOW) w->Style |= WS_VISIBLE;
  if (flags & SWP_HIDEWINDOW) {
    w->Style &= ~WS_VISIBLE;
    hidden = true;
  }

  // Painting: the uncovered area of the parent, the window itself.
  if (!(flags & SWP_NOREDRAW)) {
    bool changed = sized || moved || (flags & (SWP_SHOWWINDOW | SWP_HIDEWINDOW | SWP_FRAMECHANGED)) ||
                   !(flags & SWP_NOZORDER);
    if (changed) {
      if (!IsTopLevel(w) && w->Parent && (hidden || sized || moved || !(flags & SWP_NOZORDER))) {
        // The parent repaints where the window was (and, below it, its siblings).
        TRgn r(oldWindow);
        Redraw(w->Parent, &r, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_FRAME);
        if (!(w = Find(hWnd))) return FALSE;
      }
      if (w->Visible()) {
        UINT cls = w->Class ? w->Class->Style : 0;
        bool all = (flags & (SWP_SHOWWINDOW | SWP_FRAMECHANGED)) || !IsTopLevel(w) ||
                   (sized && ((cls & (CS_HREDRAW | CS_VREDRAW)) || (wvr & WVR_REDRAW)));
        if (all) {
          ExposeWindow(w, true);
        } else if (sized || clientSized) {
          // the newly uncovered strips of the client, and the frame
          int ow = oldClient.right - oldClient.left, oh = oldClient.bottom - oldClient.top;
          int nw = w->Client.right - w->Client.left, nh = w->Client.bottom - w->Client.top;
          TRgn r;
          if (nw > ow) r.UnionRect(RECT{ow, 0, nw, nh});
          if (nh > oh) r.UnionRect(RECT{0, oh, nw, nh});
          if (!r.Empty()) Redraw(w, &r, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
          w->NcUpdate = true;
        }
      }
    }
  } else if (flags & SWP_FRAMECHANGED) {
    w->NcUpdate = true;
  }

  // Focus leaves a window being hidden; activation moves on from a hidden
  // active window.
  if (hidden) {
    if (!IsTopLevel(w) && HoldsFocus(w)) SetFocus(w->Parent->Handle);
    if (!(w = Find(hWnd))) return FALSE;
    if (IsTopLevel(w) && Input().Active == hWnd) {
      TWnd* next = nullptr;
      if (w->Owner && ReallyVisible(w->Owner) && !(w->Owner->Style & WS_DISABLED)) next = w->Owner;
      if (!next)
        for (TWnd* s : Desktop()->Children)
          if (s != w && s->Visible() && !(s->Style & WS_DISABLED) && !(s->ExStyle & WS_EX_NOACTIVATE) &&
              s->ThreadId == w->ThreadId && !(s->Style & WS_CHILD)) {
            next = s;
            break;
          }
      if (next)
        Activate(next, WA_ACTIVE);
      else
        SetActiveWindow(nullptr);
      if (!(w = Find(hWnd))) return FALSE;
    }
  }
  if (!(flags & SWP_NOACTIVATE) && IsTopLevel(w) && w->Visible() && !(w->ExStyle & WS_EX_NOACTIVATE) &&
      Input().Active != hWnd) {
    Activate(w, WA_ACTIVE);
    if (!(w = Find(hWnd))) return FALSE;
  }

  wp.flags = flags;
  wp.x = w->Window.left;
  wp.y = w->Window.top;
  wp.cx = w->Width();
  wp.cy = w->Height();
  if (sized || moved || (flags & (SWP_SHOWWINDOW | SWP_HIDEWINDOW | SWP_FRAMECHANGED)) || !(flags & SWP_NOZORDER))
    BackingChanged(TopLevelOf(w));
  SendMessageW(hWnd, WM_WINDOWPOSCHANGED, 0, LPARAM(&wp));
  if (!(w = Find(hWnd))) return TRUE;
  NotifyBackend(w);
  return TRUE;
}

BOOL MoveWindow(HWND hWnd, int X, int Y, int nWidth, int nHeight, BOOL bRepaint) {
  return SetWindowPos(hWnd, nullptr, X, Y, nWidth, nHeight,
                      SWP_NOZORDER | SWP_NOACTIVATE | (bRepaint ? 0 : SWP_NOREDRAW));
}

BOOL BringWindowToTop(HWND hWnd) { return SetWindowPos(hWnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE); }

BOOL ShowWindow(HWND hWnd, int cmd) {
  if (MustMarshal(hWnd)) return Marshal<BOOL>([&] { return ShowWindow(hWnd, cmd); });
  TWnd* w = Find(hWnd);
  if (!w || w == Desktop()) return FALSE;
  bool was = w->Visible();
  bool top = IsTopLevel(w);
  UINT flags = SWP_NOSIZE | SWP_NOMOVE;
  bool show = true;
  RECT target{};
  bool place = false;
  switch (cmd) {
    case SW_HIDE:
      if (!was) return FALSE;
      show = false;
      flags |= SWP_HIDEWINDOW | SWP_NOACTIVATE | SWP_NOZORDER;
      break;
    case SW_SHOWNA:
      flags |= SWP_NOACTIVATE | SWP_NOZORDER;
      break;
    case SW_SHOWNOACTIVATE:
      flags |= SWP_NOACTIVATE;
      [[fallthrough]];
    case SW_SHOWNORMAL:
    case SW_RESTORE:
    case SW_SHOWDEFAULT:
      if (w->Style & (WS_MAXIMIZE | WS_MINIMIZE)) {
        w->Style &= ~(WS_MAXIMIZE | WS_MINIMIZE);
        w->Maximized = w->Minimized = false;
        target = w->Normal;
        place = true;
      }
      break;
    case SW_SHOW:
      break;
    case SW_SHOWMAXIMIZED: {
      if (!(w->Style & (WS_MAXIMIZE | WS_MINIMIZE))) w->Normal = w->Window;
      w->Style = (w->Style | WS_MAXIMIZE) & ~WS_MINIMIZE;
      w->Maximized = true;
      RECT work{};
      SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
      RECT in = FrameInsets(w->Style, w->ExStyle, top);
      target = RECT{work.left - in.left, work.top - in.left, work.right + in.left, work.bottom + in.left};
      if (!top && w->Parent) {
        RECT c = w->Parent->Client;
        target = RECT{-in.left, -in.left, c.right - c.left + in.left, c.bottom - c.top + in.left};
      }
      place = true;
      break;
    }
    case SW_MINIMIZE:
    case SW_SHOWMINIMIZED:
    case SW_SHOWMINNOACTIVE:
    case SW_FORCEMINIMIZE:
      if (!(w->Style & (WS_MAXIMIZE | WS_MINIMIZE))) w->Normal = w->Window;
      w->Style = (w->Style | WS_MINIMIZE) & ~WS_MAXIMIZE;
      w->Minimized = true;
      if (cmd != SW_SHOWMINIMIZED) flags |= SWP_NOACTIVATE;
      target = RECT{-32000, -32000, -32000 + GetSystemMetrics(SM_CXMINIMIZED),
                    -32000 + GetSystemMetrics(SM_CYMINIMIZED)};
      place = true;
      break;
    default:
      break;
  }
  if (show != was) {
    SendMessageW(hWnd, WM_SHOWWINDOW, show ? TRUE : FALSE, 0);
    if (!(w = Find(hWnd))) return was;
  }
  if (show && !was) flags |= SWP_SHOWWINDOW;
  if (!top) flags |= SWP_NOACTIVATE | (cmd == SW_SHOWNA ? SWP_NOZORDER : 0);
  if (place) {
    flags &= ~(SWP_NOSIZE | SWP_NOMOVE);
    flags |= SWP_FRAMECHANGED;
    SetWindowPos(hWnd, HWND_TOP, target.left, target.top, target.right - target.left, target.bottom - target.top,
                 flags);
  } else if (show || was) {
    if (show && was && (flags & SWP_NOACTIVATE) && (flags & SWP_NOZORDER)) return TRUE;
    SetWindowPos(hWnd, HWND_TOP, 0, 0, 0, 0, flags);
  }
  return was;
}

BOOL ShowOwnedPopups(HWND hWnd, BOOL fShow) {
  TWnd* w = Find(hWnd);
  if (!w) return FALSE;
  std::vector<HWND> owned;
  for (TWnd* s : Desktop()->Children)
    if (s->Owner == w) owned.push_back(s->Handle);
  for (HWND o : owned) ShowWindow(o, fShow ? SW_SHOWNOACTIVATE : SW_HIDE);
  return TRUE;
}

BOOL GetWindowRect(HWND hWnd, LPRECT r) {
  if (MustMarshal(hWnd)) return Marshal<BOOL>([&] { return GetWindowRect(hWnd, r); });
  TWnd* w = Find(hWnd);
  if (!w || !r) return FALSE;
  *r = ScreenWindowRect(w);
  return TRUE;
}

BOOL GetClientRect(HWND hWnd, LPRECT r) {
  if (MustMarshal(hWnd)) return Marshal<BOOL>([&] { return GetClientRect(hWnd, r); });
  TWnd* w = Find(hWnd);
  if (!w || !r) return FALSE;
  *r = RECT{0, 0, w->Client.right - w->Client.left, w->Client.bottom - w->Client.top};
  return TRUE;
}

BOOL ClientToScreen(HWND hWnd, LPPOINT p) {
  TWnd* w = Find(hWnd);
  if (!w || !p) return FALSE;
  POINT o = ClientOrigin(w);
  p->x = WrapAdd(p->x, o.x);
  p->y = WrapAdd(p->y, o.y);
  return TRUE;
}

BOOL ScreenToClient(HWND hWnd, LPPOINT p) {
  TWnd* w = Find(hWnd);
  if (!w || !p) return FALSE;
  POINT o = ClientOrigin(w);
  p->x = WrapSub(p->x, o.x);
  p->y = WrapSub(p->y, o.y);
  return TRUE;
}

int MapWindowPoints(HWND from, HWND to, LPPOINT pts, UINT n) {
  TWnd* f = from ? Find(from) : Desktop();
  TWnd* t = to ? Find(to) : Desktop();
  if (!f || !t) {
    SetLastError(1400);
    return 0;
  }
  POINT a = ClientOrigin(f), b = ClientOrigin(t);
  int dx = a.x - b.x, dy = a.y - b.y;
  for (UINT i = 0; pts && i < n; ++i) {
    pts[i].x = WrapAdd(pts[i].x, dx);
    pts[i].y = WrapAdd(pts[i].y, dy);
  }
  return int(MAKELONG(WORD(dx), WORD(dy)));
}

HWND WindowFromPoint(POINT pt) {
  LRESULT hit;
  TWnd* w = HitTest(pt, &hit);
  return w ? w->Handle : nullptr;
}

HWND ChildWindowFromPointEx(HWND hwnd, POINT pt, UINT flags) {
  TWnd* p = Find(hwnd);
  if (!p) return nullptr;
  RECT c{0, 0, p->Client.right - p->Client.left, p->Client.bottom - p->Client.top};
  if (!Contains(c, pt)) return nullptr;
  for (TWnd* ch : p->Children) {
    if ((flags & CWP_SKIPINVISIBLE) && !ch->Visible()) continue;
    if ((flags & CWP_SKIPDISABLED) && (ch->Style & WS_DISABLED)) continue;
    if ((flags & CWP_SKIPTRANSPARENT) && (ch->ExStyle & WS_EX_TRANSPARENT)) continue;
    if (Contains(ch->Window, pt)) return ch->Handle;
  }
  return hwnd;
}

HWND ChildWindowFromPoint(HWND hWndParent, POINT Point) {
  return ChildWindowFromPointEx(hWndParent, Point, CWP_ALL);
}

BOOL AdjustWindowRectEx(LPRECT r, DWORD style, BOOL bMenu, DWORD exStyle) {
  if (!r) return FALSE;
  RECT in = FrameInsets(style, exStyle, !(style & WS_CHILD));
  r->left -= in.left;
  r->top -= in.top;
  r->right += in.right;
  r->bottom += in.bottom;
  if (bMenu) r->top -= GetSystemMetrics(SM_CYMENU);
  return TRUE;
}

BOOL AdjustWindowRect(LPRECT r, DWORD style, BOOL bMenu) { return AdjustWindowRectEx(r, style, bMenu, 0); }

// ---------------------------------------------------------------------------
// Regions and layering

int SetWindowRgn(HWND hWnd, HRGN hRgn, BOOL bRedraw) {
  TWnd* w = Find(hWnd);
  if (!w) return 0;
  if (w->Region && w->Region != hRgn) DeleteObject(w->Region);
  w->Region = hRgn;
  if (bRedraw) {
    if (!IsTopLevel(w) && w->Parent) {
      TRgn r(w->Window);
      Redraw(w->Parent, &r, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    }
    ExposeWindow(w, true);
  }
  NotifyBackend(w);
  return 1;
}

int GetWindowRgn(HWND hWnd, HRGN hRgn) {
  TWnd* w = Find(hWnd);
  if (!w || !w->Region || !hRgn) return 0;  // ERROR
  return CombineRgn(hRgn, w->Region, nullptr, RGN_COPY);
}

BOOL SetLayeredWindowAttributes(HWND hwnd, COLORREF crKey, BYTE bAlpha, DWORD dwFlags) {
  TWnd* w = Find(hwnd);
  if (!w || !(w->ExStyle & WS_EX_LAYERED)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  w->LayeredAttributes = true;
  w->PerPixel = false;
  w->LayeredFlags = dwFlags;
  w->ColorKey = crKey;
  w->Alpha = (dwFlags & LWA_ALPHA) ? bAlpha : 255;
  NotifyBackend(w);
  return TRUE;
}

BOOL GetLayeredWindowAttributes(HWND hwnd, COLORREF* pcrKey, BYTE* pbAlpha, DWORD* pdwFlags) {
  TWnd* w = Find(hwnd);
  if (!w || !(w->ExStyle & WS_EX_LAYERED) || !w->LayeredAttributes) return FALSE;
  if (pcrKey) *pcrKey = w->ColorKey;
  if (pbAlpha) *pbAlpha = w->Alpha;
  if (pdwFlags) *pdwFlags = w->LayeredFlags;
  return TRUE;
}

BOOL UpdateLayeredWindow(HWND hWnd, HDC, POINT* pptDst, SIZE* psize, HDC hdcSrc, POINT* pptSrc, COLORREF crKey,
                         BLENDFUNCTION* pblend, DWORD dwFlags) {
  TWnd* w = Find(hWnd);
  if (!w || !(w->ExStyle & WS_EX_LAYERED) || !IsTopLevel(w) || w->LayeredAttributes) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  UINT f = SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW;
  int x = pptDst ? pptDst->x : w->Window.left, y = pptDst ? pptDst->y : w->Window.top;
  int cx = psize ? psize->cx : w->Width(), cy = psize ? psize->cy : w->Height();
  if (x != w->Window.left || y != w->Window.top || cx != w->Width() || cy != w->Height()) {
    SetWindowPos(hWnd, nullptr, x, y, cx, cy, f);
    if (!(w = Find(hWnd))) return FALSE;
  }
  if (hdcSrc) {
    gdi::TDCObj* dc = gdi::LookupDC(hdcSrc);
    if (!dc) return FALSE;
    gdi::TDrawTarget t(dc);
    if (!t.Valid()) return FALSE;
    POINT src = pptSrc ? *pptSrc : POINT{0, 0};
    src.x += t.Offset().x;
    src.y += t.Offset().y;
    const gdi::TSurface& s = t.Surface();
    for (int yy = 0; yy < w->PixHeight; ++yy) {
      int sy = src.y + yy;
      for (int xx = 0; xx < w->PixWidth; ++xx) {
        int sx = src.x + xx;
        uint32_t v = 0;
        if (sy >= 0 && sy < s.Height && sx >= 0 && sx < s.Width) v = s.Row(sy)[sx];
        w->Pixels[size_t(yy) * size_t(w->PixWidth) + size_t(xx)] = v;
      }
    }
  }
  w->PerPixel = (dwFlags & ULW_ALPHA) != 0;
  w->LayeredFlags = (dwFlags & ULW_COLORKEY) ? LWA_COLORKEY : 0;
  w->ColorKey = crKey;
  w->Alpha = pblend ? pblend->SourceConstantAlpha : 255;
  NotifyBackend(w);
  return TRUE;
}

}  // namespace win
