// Painting: update regions and invalidation, WM_PAINT in the platform's order
// (parents before children), BeginPaint/EndPaint, window DCs on the top-level
// window's backing store with the visible region of the window, scrolling.
#include <algorithm>
#include <cstring>

#include "platform/win/WindowsInternal.h"

namespace win {

using namespace wnd;

namespace {

// A DC handed out for a window.
struct TWinDC {
  HDC Dc{};
  HWND Wnd{};
  DWORD Flags = 0;
  bool Whole = false;
  bool HasExtra = false;
  TRgn Extra;  // top-level coordinates: intersected (DCX_INTERSECTRGN) or excluded
  bool Exclude = false;
  // The DC of a CS_OWNDC window or of a CS_CLASSDC class: kept, with its
  // state, until the window (the class's last window) dies.
  bool Own = false;
  TWndClass* Class{};
};
std::vector<TWinDC>& DCs() {
  static std::vector<TWinDC>* v = new std::vector<TWinDC>();
  return *v;
}

uint32_t DummyPixel = 0;

// GetDCEx for another thread's call: a DC of its own rather than the
// window's own DC, which the owner thread may be drawing with.
constexpr DWORD DCX_NOOWNDC = 0x40000000;

// The window locked by LockWindowUpdate (nil: none).
HWND LockedWnd{};

bool UnderLock(const TWnd* w) {
  if (!LockedWnd) return false;
  for (; w; w = w->Parent)
    if (w->Handle == LockedWnd) return true;
  return false;
}

// Where a window's area starts in its top-level window's backing store.
POINT AreaOrigin(const TWnd* w, bool whole) {
  const TWnd* top = TopLevelOf(const_cast<TWnd*>(w));
  RECT r = ScreenWindowRect(w);
  POINT o{r.left - top->Window.left, r.top - top->Window.top};
  if (!whole) {
    o.x += w->Client.left;
    o.y += w->Client.top;
  }
  return o;
}

RECT ClientRectOf(const TWnd* w) { return RECT{0, 0, w->Client.right - w->Client.left, w->Client.bottom - w->Client.top}; }

// The window's own shape in top-level coordinates (its whole window when none).
void IntersectShape(const TWnd* w, TRgn& rgn) {
  if (!w->Region) return;
  gdi::TRegionObj* ro = gdi::LookupRegion(w->Region);
  if (!ro) return;
  TRgn shape = ro->Rgn;
  POINT o = AreaOrigin(w, true);
  shape.Offset(o.x, o.y);
  rgn.Intersect(shape);
}

void SubtractWindow(const TWnd* s, TRgn& rgn) {
  POINT o = AreaOrigin(s, true);
  TRgn area(RECT{o.x, o.y, o.x + s->Width(), o.y + s->Height()});
  IntersectShape(s, area);
  rgn.Subtract(area);
}

void ApplyDC(TWinDC& d) {
  TWnd* w = Find(d.Wnd);
  if (!w) return;
  bool clipChildren = (d.Flags & DCX_CLIPCHILDREN) != 0;
  bool clipSiblings = (d.Flags & DCX_CLIPSIBLINGS) != 0;
  TRgn vis = VisibleRegion(w, d.Whole, clipChildren, clipSiblings);
  if (UnderLock(w) && !(d.Flags & DCX_LOCKWINDOWUPDATE)) vis.Clear();
  if (d.HasExtra) {
    if (d.Exclude)
      vis.Subtract(d.Extra);
    else
      vis.Intersect(d.Extra);
  }
  TWnd* top = TopLevelOf(w);
  gdi::TSurface s{&DummyPixel, 0, 0, 0};
  if (top && !top->Pixels.empty()) s = gdi::TSurface{top->Pixels.data(), top->PixWidth, top->PixWidth, top->PixHeight};
  POINT o = AreaOrigin(w, d.Whole);
  gdi::SetDCSurface(d.Dc, s, o);
  if (gdi::TDCObj* dc = gdi::LookupDC(d.Dc)) dc->TopWindow = top && top->Parent ? top->Handle : nullptr;
  vis.Offset(-o.x, -o.y);
  auto* ro = new gdi::TRegionObj();
  ro->Type = OBJ_REGION;
  ro->Rgn = vis;
  HRGN h = static_cast<HRGN>(gdi::Register(ro));
  gdi::SetDCVisRgn(d.Dc, h);
  DeleteObject(h);
}

// Re-points the DCs of a top-level window's tree after its backing moved.
void RefreshDCs(TWnd* top) {
  for (auto& d : DCs()) {
    TWnd* w = Find(d.Wnd);
    if (w && TopLevelOf(w) == top) ApplyDC(d);
  }
}

void RefreshAllDCs() {
  for (auto& d : DCs()) ApplyDC(d);
}

HDC MakeWindowDC(TWnd* w, DWORD flags, const TRgn* extra, bool exclude) {
  if (w == Desktop()) {
    HDC h = gdi::CreateSurfaceDC(gdi::ScreenSurface(), POINT{0, 0});
    if (gdi::TDCObj* dc = gdi::LookupDC(h)) {
      dc->IsScreen = true;
      dc->Window = w->Handle;
    }
    if (UnderLock(w) && !(flags & DCX_LOCKWINDOWUPDATE)) {
      HRGN none = CreateRectRgn(0, 0, 0, 0);
      gdi::SetDCVisRgn(h, none);
      DeleteObject(none);
    }
    return h;
  }
  HDC h = gdi::CreateSurfaceDC(gdi::TSurface{&DummyPixel, 0, 0, 0}, POINT{0, 0});
  if (gdi::TDCObj* dc = gdi::LookupDC(h)) dc->Window = w->Handle;
  TWinDC d;
  d.Dc = h;
  d.Wnd = w->Handle;
  d.Whole = (flags & DCX_WINDOW) != 0;
  d.Flags = flags;
  if (extra) {
    d.HasExtra = true;
    d.Extra = *extra;
    d.Exclude = exclude;
  }
  ApplyDC(d);
  DCs().push_back(std::move(d));
  return h;
}

// The window's own DC (CS_OWNDC) or its class's (CS_CLASSDC, re-pointed to
// the window), made on first use; nil when the class has neither.
TWinDC* OwnDC(TWnd* w) {
  UINT cs = w->Class ? w->Class->Style : 0;
  if (!(cs & (CS_OWNDC | CS_CLASSDC))) return nullptr;
  bool perClass = !(cs & CS_OWNDC);
  for (auto& d : DCs())
    if (d.Own && (perClass ? d.Class == w->Class : d.Wnd == w->Handle)) {
      d.Wnd = w->Handle;
      return &d;
    }
  MakeWindowDC(w, 0, nullptr, false);
  TWinDC& d = DCs().back();
  d.Own = true;
  d.Class = perClass ? w->Class : nullptr;
  return &d;
}

// Points an own DC at the window with a new visible region (extra: the
// paint or caller's region in top-level coordinates).
HDC AimOwnDC(TWinDC& d, DWORD flags, const TRgn* extra, bool exclude) {
  d.Flags = flags;
  d.Whole = false;
  d.HasExtra = extra != nullptr;
  d.Extra = extra ? *extra : TRgn();
  d.Exclude = exclude;
  ApplyDC(d);
  return d.Dc;
}

// An own DC whose window died: it draws nothing until re-pointed.
void DetachDC(TWinDC& d) {
  d.Wnd = nullptr;
  gdi::SetDCSurface(d.Dc, gdi::TSurface{&DummyPixel, 0, 0, 0}, POINT{0, 0});
  if (gdi::TDCObj* dc = gdi::LookupDC(d.Dc)) dc->TopWindow = nullptr;
  HRGN none = CreateRectRgn(0, 0, 0, 0);
  gdi::SetDCVisRgn(d.Dc, none);
  DeleteObject(none);
}

int ReleaseWinDC(HWND h, HDC hdc) {
  if (MustMarshal(h)) return Marshal<int>([&] { return ReleaseWinDC(h, hdc); });
  auto& v = DCs();
  for (auto it = v.begin(); it != v.end(); ++it)
    if (it->Dc == hdc) {
      if (it->Own) {
        // Kept with its state; only a paint's clipping goes.
        if (it->HasExtra && it->Wnd == h) AimOwnDC(*it, it->Flags, nullptr, false);
        return 1;
      }
      v.erase(it);
      DeleteDC(hdc);
      return 1;
    }
  gdi::TDCObj* dc = gdi::LookupDC(hdc);
  if (dc && !dc->IsMemory && (dc->IsScreen || dc->Window)) return DeleteDC(hdc);
  return 0;
}

HDC WindowDCHookFn(HWND h, bool whole) { return whole ? GetWindowDC(h) : GetDCEx(h, nullptr, 0); }

// Drawing outside painting reaches the display at once: a window DC's
// drawing marks its area of the top-level window changed (a paint DC's
// window is marked when EndPaint ends the paint), and screen DCs draw on the
// screen as it is composed now.
void SurfaceAccessFn(gdi::TDCObj* dc, bool drawn, const RECT& area) {
  if (dc->IsScreen) {
    if (!drawn) {
      if (OnMainThread()) ComposeScreenIfStale();
    } else if (TBackend* b = CurrentBackend()) {
      b->ScreenChanged(area);
    }
    return;
  }
  if (!drawn || dc->Painting || !dc->TopWindow) return;
  MarkScreenStale();
  if (TBackend* b = CurrentBackend()) b->WindowChanged(dc->TopWindow, &area);
}

bool IncludeChildren(const TWnd* w, UINT flags) {
  if (flags & RDW_ALLCHILDREN) return true;
  if (flags & RDW_NOCHILDREN) return false;
  return !(w->Style & WS_CLIPCHILDREN);
}

void SendPaint(TWnd* w) {
  HWND h = w->Handle;
  w->PaintValidated = false;
  SendMessageW(h, WM_PAINT, 0, 0);
  if ((w = Find(h)) && !w->PaintValidated && NeedsPaint(w)) {
    w->Update.Clear();
    w->UpdateErase = false;
    w->NcUpdate = false;
    w->InternalPaint = false;
  }
}

void UpdateNow(TWnd* w, UINT flags, bool paint) {
  HWND h = w->Handle;
  if (w->Visible() && w->ThreadId == ThisThreadId()) {
    if (paint) {
      if (NeedsPaint(w)) SendPaint(w);
    } else {
      PaintFrame(w);
      if ((w = Find(h)) && w->UpdateErase) {
        w->UpdateErase = false;
        TRgn r = w->Update;
        HDC dc = MakeWindowDC(w, DCX_CLIPCHILDREN * ((w->Style & WS_CLIPCHILDREN) != 0) |
                                     DCX_CLIPSIBLINGS * ((w->Style & WS_CLIPSIBLINGS) != 0), nullptr, false);
        SendMessageW(h, WM_ERASEBKGND, WPARAM(dc), 0);
        ReleaseWinDC(h, dc);
      }
    }
  }
  if (!(w = Find(h)) || !IncludeChildren(w, flags)) return;
  std::vector<HWND> kids;
  for (TWnd* c : w->Children) kids.push_back(c->Handle);
  for (HWND k : kids)
    if (TWnd* c = Find(k)) UpdateNow(c, flags, paint);
}

}  // namespace

namespace wnd {

TRgn VisibleRegion(TWnd* w, bool whole, bool clipChildren, bool clipSiblings) {
  TWnd* top = TopLevelOf(w);
  if (!top || !top->Parent || !ReallyVisible(w)) return TRgn();
  POINT o = AreaOrigin(w, whole);
  RECT area = whole ? RECT{0, 0, w->Width(), w->Height()} : ClientRectOf(w);
  TRgn rgn(RECT{o.x, o.y, o.x + area.right, o.y + area.bottom});
  IntersectShape(w, rgn);
  for (TWnd* x = w; x != top; x = x->Parent) {
    TWnd* p = x->Parent;
    POINT po = AreaOrigin(p, false);
    rgn.IntersectRect(RECT{po.x, po.y, po.x + (p->Client.right - p->Client.left),
                           po.y + (p->Client.bottom - p->Client.top)});
    IntersectShape(p, rgn);
    if ((x == w && clipSiblings) || (x != w && (x->Style & WS_CLIPSIBLINGS))) {
      for (TWnd* s : p->Children) {
        if (s == x) break;
        if (s->Visible()) SubtractWindow(s, rgn);
      }
    }
  }
  if (clipChildren)
    for (TWnd* c : w->Children)
      if (c->Visible()) SubtractWindow(c, rgn);
  rgn.IntersectRect(RECT{0, 0, top->PixWidth, top->PixHeight});
  return rgn;
}

bool NeedsPaint(const TWnd* w) { return !w->Update.Empty() || w->InternalPaint || w->NcUpdate; }

TWnd* FindPaintWindow(TWnd* root) {
  DWORD self = ThisThreadId();
  if (root != Desktop() && root->Visible() && root->ThreadId == self && NeedsPaint(root)) return root;
  if (root != Desktop() && !root->Visible()) return nullptr;
  for (TWnd* c : root->Children) {
    if (!c->Visible()) continue;
    if (TWnd* f = FindPaintWindow(c)) return f;
  }
  return nullptr;
}

void Redraw(TWnd* w, const TRgn* rgn, UINT flags) {
  if (!w || w == Desktop()) return;
  RECT cr = ClientRectOf(w);
  TRgn area = rgn ? *rgn : TRgn(cr);
  area.IntersectRect(cr);
  if (flags & RDW_INVALIDATE) {
    if (!ReallyVisible(w)) return;
    if (!area.Empty()) {
      w->Update.Union(area);
      if (flags & RDW_ERASE) w->UpdateErase = true;
    }
    if (flags & RDW_FRAME) w->NcUpdate = true;
    if (flags & RDW_INTERNALPAINT) w->InternalPaint = true;
  } else if (flags & RDW_VALIDATE) {
    if (rgn)
      w->Update.Subtract(area);
    else
      w->Update.Clear();
    if (w->Update.Empty() || (flags & RDW_NOERASE)) w->UpdateErase = false;
    if (flags & RDW_NOFRAME) w->NcUpdate = false;
    if (flags & RDW_NOINTERNALPAINT) w->InternalPaint = false;
    w->PaintValidated = true;
  } else {
    if (flags & RDW_NOERASE) w->UpdateErase = false;
    if (flags & RDW_INTERNALPAINT) w->InternalPaint = true;
    if (flags & RDW_NOINTERNALPAINT) w->InternalPaint = false;
  }
  if (IncludeChildren(w, flags) && (flags & (RDW_INVALIDATE | RDW_VALIDATE))) {
    UINT childFlags = flags & ~(RDW_UPDATENOW | RDW_ERASENOW);
    if (flags & RDW_INVALIDATE) childFlags &= ~RDW_FRAME;
    for (TWnd* c : w->Children) {
      if (!c->Visible()) continue;
      if (!area.Overlaps(c->Window)) continue;
      TRgn sub = area;
      sub.IntersectRect(c->Window);
      sub.Offset(-(c->Window.left + c->Client.left), -(c->Window.top + c->Client.top));
      UINT f = childFlags;
      // A child whose frame lies in the invalid area repaints its frame too.
      if ((flags & RDW_INVALIDATE) && (c->Client.left > 0 || c->Client.top > 0 || c->Client.right < c->Width() ||
                                       c->Client.bottom < c->Height()))
        f |= RDW_FRAME;
      Redraw(c, &sub, f);
    }
  }
  if (flags & RDW_UPDATENOW)
    UpdateNow(w, flags, true);
  else if (flags & RDW_ERASENOW)
    UpdateNow(w, flags, false);
}

void PaintFrame(TWnd* w) {
  if (!w->NcUpdate) return;
  w->NcUpdate = false;
  bool hasFrame = w->Client.left > 0 || w->Client.top > 0 || w->Client.right < w->Width() ||
                  w->Client.bottom < w->Height();
  if (!hasFrame && !(w->Style & (WS_HSCROLL | WS_VSCROLL))) return;
  SendMessageW(w->Handle, WM_NCPAINT, 1, 0);
}

void ExposeWindow(TWnd* w, bool erase) {
  Redraw(w, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN | (erase ? RDW_ERASE : 0));
}

void InstallDCHooks() {
  gdi::WindowDCHook = &WindowDCHookFn;
  gdi::ReleaseDCHook = &ReleaseWinDC;
  gdi::SurfaceAccessHook = &SurfaceAccessFn;
}

void ReleaseWindowDCs(TWnd* w) {
  if (LockedWnd == w->Handle) LockedWnd = nullptr;
  auto& v = DCs();
  for (auto it = v.begin(); it != v.end();) {
    if (it->Own && it->Class) {
      // A class DC goes with the class's last window.
      if (it->Class == w->Class && w->Class->Windows <= 1) {
        HDC dc = it->Dc;
        it = v.erase(it);
        DeleteDC(dc);
        continue;
      }
      if (it->Wnd == w->Handle) DetachDC(*it);
      ++it;
    } else if (it->Wnd == w->Handle) {
      HDC dc = it->Dc;
      it = v.erase(it);
      DeleteDC(dc);
    } else {
      ++it;
    }
  }
}

// Called after a top-level window's backing store changed.
void BackingChanged(TWnd* top) { RefreshDCs(top); }

}  // namespace wnd

// ---------------------------------------------------------------------------
// Public functions

BOOL InvalidateRect(HWND hWnd, const RECT* r, BOOL bErase) {
  if (!hWnd) return TRUE;
  if (MustMarshal(hWnd)) return Marshal<BOOL>([&] { return InvalidateRect(hWnd, r, bErase); });  // the whole screen: every window repaints on its own schedule
  TWnd* w = Find(hWnd);
  if (!w) return FALSE;
  UINT f = RDW_INVALIDATE | (bErase ? RDW_ERASE : 0);
  if (r) {
    TRgn rgn(*r);
    Redraw(w, &rgn, f);
  } else {
    Redraw(w, nullptr, f);
  }
  return TRUE;
}

BOOL InvalidateRgn(HWND hWnd, HRGN hRgn, BOOL bErase) {
  TWnd* w = Find(hWnd);
  if (!w) return FALSE;
  UINT f = RDW_INVALIDATE | (bErase ? RDW_ERASE : 0);
  gdi::TRegionObj* ro = hRgn ? gdi::LookupRegion(hRgn) : nullptr;
  if (ro) {
    TRgn r = ro->Rgn;
    Redraw(w, &r, f);
  } else {
    Redraw(w, nullptr, f);
  }
  return TRUE;
}

BOOL ValidateRect(HWND hWnd, const RECT* r) {
  TWnd* w = Find(hWnd);
  if (!w) return FALSE;
  if (r) {
    TRgn rgn(*r);
    Redraw(w, &rgn, RDW_VALIDATE);
  } else {
    Redraw(w, nullptr, RDW_VALIDATE | RDW_NOFRAME | RDW_NOINTERNALPAINT);
  }
  return TRUE;
}

BOOL ValidateRgn(HWND hWnd, HRGN hRgn) {
  TWnd* w = Find(hWnd);
  if (!w) return FALSE;
  gdi::TRegionObj* ro = hRgn ? gdi::LookupRegion(hRgn) : nullptr;
  if (ro) {
    TRgn r = ro->Rgn;
    Redraw(w, &r, RDW_VALIDATE);
  } else {
    Redraw(w, nullptr, RDW_VALIDATE | RDW_NOFRAME | RDW_NOINTERNALPAINT);
  }
  return TRUE;
}

BOOL GetUpdateRect(HWND hWnd, LPRECT r, BOOL bErase) {
  TWnd* w = Find(hWnd);
  if (!w) return FALSE;
  RECT box = w->Update.Box();
  if (r) *r = box;
  if (bErase && w->UpdateErase) UpdateNow(w, RDW_NOCHILDREN, false);
  return !w->Update.Empty();
}

int GetUpdateRgn(HWND hWnd, HRGN hRgn, BOOL bErase) {
  TWnd* w = Find(hWnd);
  gdi::TRegionObj* ro = gdi::LookupRegion(hRgn);
  if (!w || !ro) return 0;
  ro->Rgn = w->Update;
  int type = w->Update.Complexity();
  if (bErase && w->UpdateErase) UpdateNow(w, RDW_NOCHILDREN, false);
  return type;
}

BOOL UpdateWindow(HWND hWnd) {
  if (MustMarshal(hWnd)) return Marshal<BOOL>([&] { return UpdateWindow(hWnd); });
  TWnd* w = Find(hWnd);
  if (!w) return FALSE;
  UpdateNow(w, RDW_ALLCHILDREN, true);
  return TRUE;
}

BOOL RedrawWindow(HWND hWnd, const RECT* lprc, HRGN hrgn, UINT flags) {
  if (MustMarshal(hWnd)) return Marshal<BOOL>([&] { return RedrawWindow(hWnd, lprc, hrgn, flags); });
  TWnd* w = hWnd ? Find(hWnd) : Desktop();
  if (!w) return FALSE;
  if (w == Desktop()) {
    // The whole screen: every top-level window.
    std::vector<HWND> list;
    for (TWnd* s : w->Children) list.push_back(s->Handle);
    for (HWND h : list)
      if (TWnd* s = Find(h)) Redraw(s, nullptr, flags | RDW_ALLCHILDREN);
    return TRUE;
  }
  gdi::TRegionObj* ro = hrgn ? gdi::LookupRegion(hrgn) : nullptr;
  if (ro) {
    TRgn r = ro->Rgn;
    Redraw(w, &r, flags);
  } else if (lprc) {
    TRgn r(*lprc);
    Redraw(w, &r, flags);
  } else {
    // RDW_FRAME with the whole window: the frame too
    Redraw(w, nullptr, flags);
  }
  return TRUE;
}

HDC BeginPaint(HWND hWnd, PAINTSTRUCT* ps) {
  TWnd* w = Find(hWnd);
  if (!w || !ps) return nullptr;
  *ps = PAINTSTRUCT{};
  CaretHideForPaint(w);
  PaintFrame(w);
  if (!(w = Find(hWnd))) return nullptr;
  TRgn paint = w->Update;
  paint.IntersectRect(ClientRectOf(w));
  bool erase = w->UpdateErase;
  w->Update.Clear();
  w->UpdateErase = false;
  w->InternalPaint = false;
  w->PaintValidated = true;
  w->InPaint = true;
  // The DC shows only the part to paint.
  POINT o = AreaOrigin(w, false);
  TRgn extra = paint;
  extra.Offset(o.x, o.y);
  DWORD flags = ((w->Style & WS_CLIPCHILDREN) ? DCX_CLIPCHILDREN : 0) |
                ((w->Style & WS_CLIPSIBLINGS) ? DCX_CLIPSIBLINGS : 0);
  TWinDC* own = OwnDC(w);
  HDC dc = own ? AimOwnDC(*own, flags, &extra, false) : MakeWindowDC(w, flags, &extra, false);
  if (gdi::TDCObj* o = gdi::LookupDC(dc)) o->Painting = true;
  ps->hdc = dc;
  ps->rcPaint = paint.Box();
  if (erase) {
    ps->fErase = SendMessageW(hWnd, WM_ERASEBKGND, WPARAM(dc), 0) ? FALSE : TRUE;
  }
  return dc;
}

BOOL EndPaint(HWND hWnd, const PAINTSTRUCT* ps) {
  TWnd* w = Find(hWnd);
  if (ps && ps->hdc) {
    if (gdi::TDCObj* o = gdi::LookupDC(ps->hdc)) o->Painting = false;
    ReleaseWinDC(hWnd, ps->hdc);
  }
  if (!w) return FALSE;
  w->InPaint = false;
  CaretShowAfterPaint(w);
  NotifyBackend(w);
  return TRUE;
}

HDC GetDCEx(HWND hWnd, HRGN hrgnClip, DWORD flags) {
  if (MustMarshal(hWnd)) return Marshal<HDC>([&] { return GetDCEx(hWnd, hrgnClip, flags | DCX_NOOWNDC); });
  TWnd* w = hWnd ? Find(hWnd) : Desktop();
  if (!w) return nullptr;
  if (!(flags & DCX_CACHE)) {
    if (w->Style & WS_CLIPCHILDREN) flags |= DCX_CLIPCHILDREN;
    if (w->Style & WS_CLIPSIBLINGS) flags |= DCX_CLIPSIBLINGS;
  }
  TRgn extra;
  bool hasExtra = false, exclude = false;
  TWnd* top = TopLevelOf(w);
  if (hrgnClip && (flags & (DCX_INTERSECTRGN | DCX_EXCLUDERGN)) && top && top != Desktop()) {
    if (gdi::TRegionObj* ro = gdi::LookupRegion(hrgnClip)) {
      extra = ro->Rgn;  // screen coordinates
      extra.Offset(-top->Window.left, -top->Window.top);
      hasExtra = true;
      exclude = (flags & DCX_EXCLUDERGN) != 0;
    }
  }
  if (flags & (DCX_INTERSECTUPDATE | DCX_VALIDATE)) {
    POINT o = AreaOrigin(w, false);
    TRgn u = w->Update;
    u.Offset(o.x, o.y);
    if (flags & DCX_INTERSECTUPDATE) {
      if (hasExtra && !exclude)
        extra.Intersect(u);
      else
        extra = u;
      hasExtra = true;
      exclude = false;
    }
    if (flags & DCX_VALIDATE) Redraw(w, nullptr, RDW_VALIDATE);
  }
  bool mayOwn = !(flags & (DCX_CACHE | DCX_WINDOW | DCX_NOOWNDC)) && w != Desktop();
  flags &= ~DCX_NOOWNDC;
  if (TWinDC* own = mayOwn ? OwnDC(w) : nullptr) return AimOwnDC(*own, flags, hasExtra ? &extra : nullptr, exclude);
  HDC dc = MakeWindowDC(w, flags, hasExtra ? &extra : nullptr, exclude);
  return dc;
}

HDC GetWindowDC(HWND hWnd) {
  if (MustMarshal(hWnd)) return Marshal<HDC>([&] { return GetWindowDC(hWnd); });
  TWnd* w = hWnd ? Find(hWnd) : Desktop();
  if (!w) return nullptr;
  DWORD flags = DCX_WINDOW | ((w->Style & WS_CLIPSIBLINGS) ? DCX_CLIPSIBLINGS : 0);
  return MakeWindowDC(w, flags, nullptr, false);
}

HWND WindowFromDC(HDC hDC) {
  for (auto& d : DCs())
    if (d.Dc == hDC) return d.Wnd;
  gdi::TDCObj* dc = gdi::LookupDC(hDC);
  return dc ? dc->Window : nullptr;
}

int ScrollWindowEx(HWND hWnd, int dx, int dy, const RECT* prcScroll, const RECT* prcClip, HRGN hrgnUpdate,
                   LPRECT prcUpdate, UINT flags) {
  TWnd* w = Find(hWnd);
  if (!w) return 0;
  RECT cr = ClientRectOf(w);
  RECT sr = cr, clip = cr;
  if (prcScroll) IntersectRect(&sr, &cr, prcScroll);
  if (prcClip) IntersectRect(&clip, &cr, prcClip);
  TRgn exposed;
  if (ReallyVisible(w) && (dx || dy)) {
    TWnd* top = TopLevelOf(w);
    POINT o = AreaOrigin(w, false);
    // Pixels move inside the visible part of the window.
    TRgn vis = VisibleRegion(w, false, (w->Style & WS_CLIPCHILDREN) != 0, true);
    if (UnderLock(w)) vis.Clear();  // a locked window's pixels stay; all of it repaints on unlock
    vis.Offset(-o.x, -o.y);  // client coordinates
    TRgn src = vis;
    src.IntersectRect(sr);
    TRgn dst = src;
    dst.Offset(dx, dy);
    dst.IntersectRect(clip);
    if (!top->Pixels.empty() && !dst.Empty()) {
      std::vector<uint32_t> copy = top->Pixels;
      int n = 0;
      const pixman_box32_t* b = dst.Rects(&n);
      for (int i = 0; i < n; ++i)
        for (int y = b[i].y1; y < b[i].y2; ++y) {
          int ty = y + o.y, sy = y - dy + o.y;
          if (ty < 0 || ty >= top->PixHeight || sy < 0 || sy >= top->PixHeight) continue;
          for (int x = b[i].x1; x < b[i].x2; ++x) {
            int tx = x + o.x, sx = x - dx + o.x;
            if (tx < 0 || tx >= top->PixWidth || sx < 0 || sx >= top->PixWidth) continue;
            top->Pixels[size_t(ty) * size_t(top->PixWidth) + size_t(tx)] =
                copy[size_t(sy) * size_t(top->PixWidth) + size_t(sx)];
          }
        }
    }
    // Exposed: the scrolled area within the clip that received no pixels.
    exposed = TRgn(sr);
    exposed.IntersectRect(clip);
    exposed.Subtract(dst);
    // The pending update region moves with the pixels.
    if (!w->Update.Empty()) {
      TRgn moved = w->Update;
      moved.IntersectRect(sr);
      TRgn rest = w->Update;
      rest.Subtract(moved);
      moved.Offset(dx, dy);
      moved.IntersectRect(clip);
      rest.Union(moved);
      w->Update = rest;
    }
    if (flags & SW_SCROLLCHILDREN) {
      std::vector<HWND> kids;
      for (TWnd* c : w->Children)
        if (!prcScroll || c->Window.right > sr.left) kids.push_back(c->Handle);
      for (HWND k : kids)
        if (TWnd* c = Find(k))
          SetWindowPos(k, nullptr, c->Window.left + dx, c->Window.top + dy, 0, 0,
                       SWP_NOZORDER | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOREDRAW);
    }
    if (!(w = Find(hWnd))) return 0;
    if (flags & SW_INVALIDATE)
      Redraw(w, &exposed,
             RDW_INVALIDATE | ((flags & SW_ERASE) ? RDW_ERASE : 0) | ((flags & SW_SCROLLCHILDREN) ? RDW_ALLCHILDREN : 0));
    NotifyBackend(w);
  }
  if (gdi::TRegionObj* ro = hrgnUpdate ? gdi::LookupRegion(hrgnUpdate) : nullptr) ro->Rgn = exposed;
  if (prcUpdate) *prcUpdate = exposed.Box();
  return exposed.Complexity();
}

BOOL ScrollWindow(HWND hWnd, int XAmount, int YAmount, const RECT* lpRect, const RECT* lpClipRect) {
  return ScrollWindowEx(hWnd, XAmount, YAmount, lpRect, lpClipRect, nullptr, nullptr,
                        SW_INVALIDATE | SW_ERASE | (lpRect ? 0 : SW_SCROLLCHILDREN)) != 0;
}

BOOL LockWindowUpdate(HWND hWndLock) {
  if (MustMarshal(hWndLock)) return Marshal<BOOL>([&] { return LockWindowUpdate(hWndLock); });
  if (!hWndLock) {
    HWND was = LockedWnd;
    LockedWnd = nullptr;
    if (!was) return TRUE;
    RefreshAllDCs();
    // What was locked repaints: its drawing went nowhere.
    TWnd* w = Find(was);
    if (w == Desktop()) {
      std::vector<HWND> list;
      for (TWnd* s : w->Children) list.push_back(s->Handle);
      for (HWND h : list)
        if (TWnd* s = Find(h)) ExposeWindow(s, true);
    } else if (w) {
      ExposeWindow(w, true);
    }
    return TRUE;
  }
  TWnd* w = Find(hWndLock);
  if (!w) {
    SetLastError(1400);
    return FALSE;
  }
  if (LockedWnd) return FALSE;  // one window at a time
  LockedWnd = hWndLock;
  RefreshAllDCs();
  return TRUE;
}

BOOL PrintWindow(HWND hwnd, HDC hdcBlt, UINT) {
  if (!IsWindow(hwnd)) return FALSE;
  SendMessageW(hwnd, WM_PRINT, WPARAM(hdcBlt), PRF_NONCLIENT | PRF_CLIENT | PRF_ERASEBKGND | PRF_CHILDREN);
  return TRUE;
}

void PaintPendingWindows() {
  for (int i = 0; i < 10000; ++i) {
    TWnd* w = FindPaintWindow(Desktop());
    if (!w) return;
    SendPaint(w);
  }
}

}  // namespace win
