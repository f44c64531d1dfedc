// System information (metrics, parameters, monitors, version), the backend
// slot and the virtual screen, the clipboard and global memory.
#include <algorithm>
#include <atomic>
#include <cstring>
#include <map>
#include <mutex>
#include <unordered_set>

#include "platform/rtl/CodePages.h"
#include "platform/win/WindowsInternal.h"

namespace win {

using namespace wnd;

namespace wnd {
bool ButtonsSwapped();
}

namespace {

std::atomic<TBackend*> TheBackend{nullptr};

struct TScreenState {
  std::vector<uint32_t> Pixels;
  int Width = 1280, Height = 1024;
  RECT Work{0, 0, 1280, 1024};
  bool WorkSet = false;
  // The windows' picture of the last composition (empty: none yet, or the
  // screen changed size), and whether a window changed since.
  std::vector<uint32_t> Composed, Next;
  std::atomic<bool> Stale{true};
};
TScreenState& ScreenState() {
  static TScreenState* s = new TScreenState();
  return *s;
}

const HMONITOR PrimaryMonitor = reinterpret_cast<HMONITOR>(uintptr_t(0x10001));

// Boolean user-interface settings of the 0x1000 range: SPI_SETx = SPI_GETx + 1.
std::map<UINT, BOOL>& UiFlags() {
  static std::map<UINT, BOOL>* m = new std::map<UINT, BOOL>{
      {SPI_GETACTIVEWINDOWTRACKING, FALSE}, {SPI_GETMENUANIMATION, TRUE}, {SPI_GETCOMBOBOXANIMATION, TRUE},
      {SPI_GETLISTBOXSMOOTHSCROLLING, TRUE}, {SPI_GETGRADIENTCAPTIONS, TRUE}, {SPI_GETKEYBOARDCUES, FALSE},
      {SPI_GETACTIVEWNDTRKZORDER, FALSE}, {SPI_GETHOTTRACKING, TRUE}, {SPI_GETMENUFADE, TRUE},
      {SPI_GETSELECTIONFADE, TRUE}, {SPI_GETTOOLTIPANIMATION, TRUE}, {SPI_GETTOOLTIPFADE, TRUE},
      {SPI_GETCURSORSHADOW, TRUE}, {SPI_GETFLATMENU, FALSE}, {SPI_GETDROPSHADOW, TRUE},
      {SPI_GETUIEFFECTS, TRUE}};
  return *m;
}
UINT WheelLines = 3;

// ---------------------------------------------------------------------------
// Global memory blocks

constexpr uint32_t GlobalMagic = 0x474D454D;  // "GMEM"
struct TGlobal {
  uint32_t Magic = GlobalMagic;
  std::vector<BYTE> Data;
  int Locks = 0;
};
std::mutex& GlobalLockMutex() {
  static std::mutex* m = new std::mutex();
  return *m;
}
std::unordered_set<TGlobal*>& Globals() {
  static std::unordered_set<TGlobal*>* s = new std::unordered_set<TGlobal*>();
  return *s;
}
TGlobal* LookupGlobal(HGLOBAL h) {
  auto* g = static_cast<TGlobal*>(h);
  std::lock_guard<std::mutex> l(GlobalLockMutex());
  return Globals().count(g) ? g : nullptr;
}

// ---------------------------------------------------------------------------
// Clipboard

struct TClipboard {
  bool Open = false;
  HWND OpenBy{};
  HWND Owner{};
  std::vector<std::pair<UINT, HANDLE>> Items;  // in the order they were set
  bool Changed = false;                        // emptied or set since it was opened
};
TClipboard& Clip() {
  static TClipboard* c = new TClipboard();
  return *c;
}

void FreeClipItem(UINT format, HANDLE h) {
  if (!h) return;
  if (format == CF_BITMAP)
    DeleteObject(h);
  else
    GlobalFree(h);
}

HANDLE FindClip(UINT format) {
  for (auto& i : Clip().Items)
    if (i.first == format) return i.second;
  return nullptr;
}

HGLOBAL MakeGlobal(const void* data, size_t n) {
  HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, n);
  if (!h) return nullptr;
  std::memcpy(GlobalLock(h), data, n);
  GlobalUnlock(h);
  return h;
}

}  // namespace

// ---------------------------------------------------------------------------
// Backend and screen

TBackend* SetBackend(TBackend* b) { return TheBackend.exchange(b); }
TBackend* CurrentBackend() { return TheBackend.load(); }

SIZE ScreenSize() {
  TScreenState& s = ScreenState();
  return SIZE{s.Width, s.Height};
}

void SetScreenSize(int width, int height) {
  width = std::clamp(width, 1, 16384);
  height = std::clamp(height, 1, 16384);
  TScreenState& s = ScreenState();
  std::vector<uint32_t> px(size_t(width) * size_t(height), 0);
  gdi::SetScreenSurface(gdi::TSurface{px.data(), width, width, height});
  s.Pixels.swap(px);
  s.Composed.clear();
  s.Stale = true;
  s.Width = width;
  s.Height = height;
  if (!s.WorkSet) s.Work = RECT{0, 0, width, height};
  TWnd* d = Desktop();
  d->Window = RECT{0, 0, width, height};
  d->Client = d->Window;
}

namespace {

// The drop shadow of CS_DROPSHADOW windows: its offset and darkness.
constexpr int ShadowOffset = 4;
constexpr unsigned ShadowAlpha = 80;

uint32_t Blend(uint32_t src, uint32_t dst, unsigned a) {
  auto ch = [&](int shift) {
    unsigned s = (src >> shift) & 0xFF, d = (dst >> shift) & 0xFF;
    return ((s * a + d * (255 - a) + 127) / 255) << shift;
  };
  return 0xFF000000u | ch(16) | ch(8) | ch(0);
}

// Premultiplied source over the destination, scaled by a constant alpha.
uint32_t BlendPremultiplied(uint32_t src, uint32_t dst, unsigned constant) {
  unsigned sa = ((src >> 24) * constant + 127) / 255;
  auto ch = [&](int shift) {
    unsigned s = ((src >> shift) & 0xFF) * constant / 255, d = (dst >> shift) & 0xFF;
    unsigned v = s + (d * (255 - sa) + 127) / 255;
    return std::min(v, 255u) << shift;
  };
  return 0xFF000000u | ch(16) | ch(8) | ch(0);
}

// The desktop colour and the visible top-level windows, bottom first.
void ComposeWindows(std::vector<uint32_t>& px, int width, int height) {
  px.assign(size_t(width) * size_t(height), 0xFF000000u | gdi::ColorToPixel(GetSysColor(COLOR_DESKTOP)));
  for (const TTopLevelView& v : VisibleTopLevelWindows()) {
    gdi::TRgn area(RECT{std::max<LONG>(v.Rect.left, 0), std::max<LONG>(v.Rect.top, 0),
                        std::min<LONG>(v.Rect.right, width), std::min<LONG>(v.Rect.bottom, height)});
    if (v.Region)
      if (gdi::TRegionObj* ro = gdi::LookupRegion(v.Region)) {
        gdi::TRgn shape = ro->Rgn;
        shape.Offset(v.Rect.left, v.Rect.top);
        area.Intersect(shape);
      }
    if (v.DropShadow) {
      // The window's shape moved by ShadowOffset darkens what lies under it.
      gdi::TRgn shadow = area;
      shadow.Offset(ShadowOffset, ShadowOffset);
      shadow.Subtract(area);
      shadow.IntersectRect(RECT{0, 0, width, height});
      int sn = 0;
      const pixman_box32_t* sb = shadow.Rects(&sn);
      for (int i = 0; i < sn; ++i)
        for (int y = sb[i].y1; y < sb[i].y2; ++y) {
          uint32_t* dst = &px[size_t(y) * size_t(width)];
          for (int x = sb[i].x1; x < sb[i].x2; ++x) dst[x] = Blend(0, dst[x], ShadowAlpha);
        }
    }
    uint32_t key = gdi::ColorToPixel(v.ColorKey) & 0xFFFFFFu;
    int n = 0;
    const pixman_box32_t* b = area.Rects(&n);
    for (int i = 0; i < n; ++i)
      for (int y = b[i].y1; y < b[i].y2; ++y) {
        const uint32_t* src = v.Pixels + (y - v.Rect.top) * v.Stride;
        uint32_t* dst = &px[size_t(y) * size_t(width)];
        for (int x = b[i].x1; x < b[i].x2; ++x) {
          uint32_t p = src[x - v.Rect.left];
          if (!v.Layered) {
            dst[x] = 0xFF000000u | p;
            continue;
          }
          if (v.UseColorKey && (p & 0xFFFFFFu) == key) continue;
          if (v.PerPixelAlpha)
            dst[x] = BlendPremultiplied(p, dst[x], v.Alpha);
          else
            dst[x] = v.Alpha == 255 ? (0xFF000000u | p) : Blend(p, dst[x], v.Alpha);
        }
      }
  }
}

}  // namespace

namespace wnd {

void MarkScreenStale() { ScreenState().Stale = true; }

void ComposeScreenIfStale() {
  if (ScreenState().Stale) ComposeScreen();
}

}  // namespace wnd

void ComposeScreen() {
  TScreenState& s = ScreenState();
  // Every change of a window's pixels, place, order or shape marks the
  // screen stale; nothing else changes the picture.
  if (!s.Stale && s.Composed.size() == s.Pixels.size()) return;
  s.Stale = false;
  if (s.Pixels.size() != size_t(s.Width) * size_t(s.Height)) SetScreenSize(s.Width, s.Height);
  std::vector<uint32_t>& now = s.Next;
  ComposeWindows(now, s.Width, s.Height);
  // Where the windows' picture changed the screen shows it; elsewhere it
  // keeps what was drawn on it.
  if (s.Composed.size() != now.size()) {
    std::copy(now.begin(), now.end(), s.Pixels.begin());
  } else {
    for (size_t i = 0; i < now.size(); ++i)
      if (now[i] != s.Composed[i]) s.Pixels[i] = now[i];
  }
  s.Composed.swap(now);
}

const uint32_t* ScreenPixels() {
  TScreenState& s = ScreenState();
  return s.Pixels.empty() ? nullptr : s.Pixels.data();
}

const uint32_t* ComposedScreenPixels() {
  TScreenState& s = ScreenState();
  return s.Composed.empty() ? nullptr : s.Composed.data();
}

std::vector<TTopLevelView> VisibleTopLevelWindows() {
  std::vector<TTopLevelView> out;
  TWnd* d = Desktop();
  for (auto it = d->Children.rbegin(); it != d->Children.rend(); ++it) {
    TWnd* w = *it;
    if (!w->Visible() || (w->Style & WS_MINIMIZE) || w->Pixels.empty()) continue;
    TTopLevelView v;
    v.Handle = w->Handle;
    v.Rect = RECT{w->Window.left, w->Window.top, w->Window.left + w->PixWidth, w->Window.top + w->PixHeight};
    v.Pixels = w->Pixels.data();
    v.Stride = w->PixWidth;
    v.Region = w->Region;
    v.Layered = (w->ExStyle & WS_EX_LAYERED) != 0 && (w->LayeredAttributes || w->PerPixel);
    v.PerPixelAlpha = w->PerPixel;
    v.UseColorKey = (w->LayeredFlags & LWA_COLORKEY) != 0;
    v.ColorKey = w->ColorKey;
    v.Alpha = (w->LayeredAttributes && !(w->LayeredFlags & LWA_ALPHA)) ? 255 : w->Alpha;
    v.DropShadow = w->Class && (w->Class->Style & CS_DROPSHADOW);
    if (w->Animating) {
      // AnimateWindow's frame: shifted, clipped and faded as it says.
      v.Rect = RECT{v.Rect.left + w->AnimOffset.x, v.Rect.top + w->AnimOffset.y, v.Rect.right + w->AnimOffset.x,
                    v.Rect.bottom + w->AnimOffset.y};
      if (w->AnimRegion) v.Region = w->AnimRegion;
      if (w->AnimAlpha != 255) {
        v.Alpha = BYTE((unsigned(v.Layered ? v.Alpha : 255) * w->AnimAlpha + 127) / 255);
        v.Layered = true;
      }
    }
    out.push_back(v);
  }
  return out;
}

// ---------------------------------------------------------------------------
// Metrics and parameters

int GetSystemMetrics(int nIndex) {
  if (nIndex == SM_SWAPBUTTON) return ButtonsSwapped() ? 1 : 0;
  SIZE s = ScreenSize();
  if (nIndex == SM_CXFULLSCREEN || nIndex == SM_CYFULLSCREEN) {
    RECT w = ScreenState().Work;
    return nIndex == SM_CXFULLSCREEN ? w.right - w.left
                                     : w.bottom - w.top - DefaultSystemMetric(SM_CYCAPTION, s.cx, s.cy);
  }
  return DefaultSystemMetric(nIndex, s.cx, s.cy);
}

BOOL SystemParametersInfoW(UINT action, UINT uiParam, LPVOID pv, UINT fWinIni) {
  BOOL ok = TRUE;
  bool changed = false;
  auto setBool = [&](BOOL v) {
    if (!pv) return FALSE;
    *static_cast<BOOL*>(pv) = v;
    return TRUE;
  };
  auto setUint = [&](UINT v) {
    if (!pv) return FALSE;
    *static_cast<UINT*>(pv) = v;
    return TRUE;
  };
  switch (action) {
    case SPI_GETNONCLIENTMETRICS:
    case SPI_GETICONTITLELOGFONT:
      return SystemFontParametersInfoW(action, uiParam, pv, fWinIni);
    case SPI_GETWORKAREA:
      if (!pv) return FALSE;
      *static_cast<RECT*>(pv) = ScreenState().Work;
      return TRUE;
    case SPI_SETWORKAREA: {
      TScreenState& s = ScreenState();
      if (pv) {
        s.Work = *static_cast<RECT*>(pv);
        s.WorkSet = true;
      } else {
        s.Work = RECT{0, 0, s.Width, s.Height};
        s.WorkSet = false;
      }
      changed = true;
      break;
    }
    case SPI_GETWHEELSCROLLLINES: return setUint(WheelLines);
    case SPI_SETWHEELSCROLLLINES: WheelLines = uiParam; changed = true; break;
    case SPI_GETWHEELSCROLLCHARS: return setUint(3);
    case SPI_SETDOUBLECLICKTIME: SetDoubleClickTime(uiParam); changed = true; break;
    case SPI_GETMOUSEHOVERTIME: return setUint(400);
    case SPI_GETMOUSEHOVERWIDTH:
    case SPI_GETMOUSEHOVERHEIGHT: return setUint(4);
    case SPI_GETMENUSHOWDELAY: return setUint(400);
    case SPI_GETKEYBOARDDELAY: return setUint(1);
    case SPI_GETKEYBOARDSPEED: return setUint(31);
    case SPI_GETCARETWIDTH: return setUint(1);
    case SPI_GETFOCUSBORDERWIDTH:
    case SPI_GETFOCUSBORDERHEIGHT: return setUint(1);
    case SPI_GETBORDER: return setUint(1);
    case SPI_GETMOUSESPEED: return setUint(10);
    case SPI_GETFOREGROUNDLOCKTIMEOUT: return setUint(200000);
    case SPI_GETFONTSMOOTHINGTYPE: return setUint(2);
    case SPI_GETFONTSMOOTHINGCONTRAST: return setUint(1200);
    case SPI_GETBEEP:
    case SPI_GETDRAGFULLWINDOWS:
    case SPI_GETFONTSMOOTHING:
    case SPI_GETSHOWIMEUI:
    case SPI_GETICONTITLEWRAP: return setBool(TRUE);
    case SPI_GETSCREENREADER:
    case SPI_GETMENUDROPALIGNMENT:
    case SPI_GETSCREENSAVERRUNNING:
    case SPI_GETKEYBOARDPREF: return setBool(FALSE);
    case SPI_ICONHORIZONTALSPACING:
    case SPI_ICONVERTICALSPACING:
      if (pv) *static_cast<int*>(pv) = 75;
      return TRUE;
    default: {
      auto& flags = UiFlags();
      if (action >= 0x1000 && action < 0x2000) {
        UINT get = action & ~1u;
        auto it = flags.find(get);
        if (it == flags.end()) return FALSE;
        if (action == get) return setBool(it->second);
        it->second = pv != nullptr;  // the new value travels in the pointer itself
        changed = true;
        break;
      }
      ok = FALSE;
      break;
    }
  }
  if (ok && changed && (fWinIni & SPIF_SENDCHANGE)) SendMessageW(HWND_BROADCAST, WM_SETTINGCHANGE, action, 0);
  return ok;
}

namespace {

// The primary monitor (the screen surface) and the extra ones, in order.
struct TMonitorDesc {
  HMONITOR Handle;
  RECT Monitor;
  RECT Work;
};

std::vector<TMonitorDesc>& ExtraMonitorList() {
  static std::vector<TMonitorDesc>* m = new std::vector<TMonitorDesc>();
  return *m;
}

std::vector<TMonitorDesc> AllMonitors() {
  SIZE s = ScreenSize();
  std::vector<TMonitorDesc> all{{PrimaryMonitor, RECT{0, 0, s.cx, s.cy}, ScreenState().Work}};
  for (const TMonitorDesc& m : ExtraMonitorList()) all.push_back(m);
  return all;
}

// Squared distance from the point to the rectangle (0 inside).
int64_t DistanceSquared(const RECT& r, POINT pt) {
  int64_t dx = pt.x < r.left ? int64_t(r.left) - pt.x : pt.x >= r.right ? int64_t(pt.x) - (r.right - 1) : 0;
  int64_t dy = pt.y < r.top ? int64_t(r.top) - pt.y : pt.y >= r.bottom ? int64_t(pt.y) - (r.bottom - 1) : 0;
  return dx * dx + dy * dy;
}

HMONITOR Fallback(DWORD flags, POINT near) {
  if (flags == MONITOR_DEFAULTTONULL) return nullptr;
  if (flags == MONITOR_DEFAULTTOPRIMARY) return PrimaryMonitor;
  HMONITOR best = PrimaryMonitor;
  int64_t bestDistance = INT64_MAX;
  for (const TMonitorDesc& m : AllMonitors())
    if (int64_t d = DistanceSquared(m.Monitor, near); d < bestDistance) {
      bestDistance = d;
      best = m.Handle;
    }
  return best;
}

}  // namespace

void SetExtraMonitors(const std::vector<std::pair<RECT, RECT>>& Monitors) {
  std::vector<TMonitorDesc>& list = ExtraMonitorList();
  list.clear();
  for (size_t i = 0; i < Monitors.size(); ++i)
    list.push_back(TMonitorDesc{reinterpret_cast<HMONITOR>(uintptr_t(0x10002 + i)), Monitors[i].first,
                                Monitors[i].second});
}

HMONITOR MonitorFromPoint(POINT pt, DWORD flags) {
  for (const TMonitorDesc& m : AllMonitors())
    if (DistanceSquared(m.Monitor, pt) == 0) return m.Handle;
  return Fallback(flags, pt);
}

HMONITOR MonitorFromRect(LPCRECT r, DWORD flags) {
  if (!r) return nullptr;
  HMONITOR best = nullptr;
  int64_t bestArea = 0;
  for (const TMonitorDesc& m : AllMonitors()) {
    RECT common{};
    if (!IntersectRect(&common, &m.Monitor, r)) continue;
    const int64_t area = int64_t(common.right - common.left) * (common.bottom - common.top);
    if (area > bestArea) {
      bestArea = area;
      best = m.Handle;
    }
  }
  return best ? best : Fallback(flags, POINT{r->left + (r->right - r->left) / 2, r->top + (r->bottom - r->top) / 2});
}

HMONITOR MonitorFromWindow(HWND hwnd, DWORD flags) {
  RECT r;
  if (!GetWindowRect(hwnd, &r)) return flags == MONITOR_DEFAULTTONULL ? nullptr : PrimaryMonitor;
  return MonitorFromRect(&r, flags);
}

BOOL GetMonitorInfoW(HMONITOR m, MONITORINFO* mi) {
  if (!mi || (mi->cbSize != sizeof(MONITORINFO) && mi->cbSize != 104)) return FALSE;
  const std::vector<TMonitorDesc> all = AllMonitors();
  for (size_t i = 0; i < all.size(); ++i) {
    if (all[i].Handle != m) continue;
    mi->rcMonitor = all[i].Monitor;
    mi->rcWork = all[i].Work;
    mi->dwFlags = i == 0 ? MONITORINFOF_PRIMARY : 0;
    if (mi->cbSize == 104) {
      // MONITORINFOEXW: the device name follows
      auto* name = reinterpret_cast<WCHAR*>(reinterpret_cast<BYTE*>(mi) + sizeof(MONITORINFO));
      char16_t dev[] = u"\\\\.\\DISPLAY1";
      dev[11] = char16_t(u'1' + i % 9);
      std::memcpy(name, dev, sizeof dev);
    }
    return TRUE;
  }
  return FALSE;
}

BOOL EnumDisplayMonitors(HDC, LPCRECT clip, MONITORENUMPROC fn, LPARAM data) {
  if (!fn) return FALSE;
  for (const TMonitorDesc& m : AllMonitors()) {
    RECT r = m.Monitor;
    if (clip && !IntersectRect(&r, &r, clip)) continue;
    if (!fn(m.Handle, nullptr, &r, data)) break;
  }
  return TRUE;
}

BOOL GetVersionExW(OSVERSIONINFOW* v) {
  if (!v || (v->dwOSVersionInfoSize != sizeof(OSVERSIONINFOW) && v->dwOSVersionInfoSize != 284)) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  DWORD size = v->dwOSVersionInfoSize;
  std::memset(reinterpret_cast<BYTE*>(v) + sizeof(DWORD), 0, size - sizeof(DWORD));
  v->dwMajorVersion = 6;
  v->dwMinorVersion = 1;
  v->dwBuildNumber = 7601;
  v->dwPlatformId = VER_PLATFORM_WIN32_NT;
  const char16_t sp[] = u"Service Pack 1";
  std::memcpy(v->szCSDVersion, sp, sizeof sp);
  if (size == 284) {
    auto* ex = reinterpret_cast<BYTE*>(v) + sizeof(OSVERSIONINFOW);
    WORD spMajor = 1;
    std::memcpy(ex, &spMajor, 2);
    ex[7] = 1;  // wProductType: VER_NT_WORKSTATION
  }
  return TRUE;
}

DWORD GetVersion() { return (DWORD(7601) << 16) | (1u << 8) | 6u; }

BOOL MessageBeep(UINT uType) {
  // The system sound of the message-box icon.
  const char16_t* alias;
  switch (uType & MB_ICONMASK) {
    case MB_ICONHAND: alias = u"SystemHand"; break;
    case MB_ICONQUESTION: alias = u"SystemQuestion"; break;
    case MB_ICONEXCLAMATION: alias = u"SystemExclamation"; break;
    case MB_ICONASTERISK: alias = u"SystemAsterisk"; break;
    default: alias = u"SystemDefault"; break;
  }
  return PlaySoundW(alias, nullptr, SND_ALIAS | SND_ASYNC);
}

BOOL IsWow64Process(HANDLE, BOOL* Wow64Process) {
  if (!Wow64Process) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  *Wow64Process = FALSE;
  return TRUE;
}

BOOL SetProcessDPIAware() { return TRUE; }

// ---------------------------------------------------------------------------
// Sounds, the shell's opener and help

BOOL PlaySoundW(LPCWSTR pszSound, HMODULE, DWORD fdwSound) {
  // Sounds from memory or from the program's resources: none are embedded.
  if (pszSound && (fdwSound & (SND_MEMORY | SND_RESOURCE)) != 0 && !(fdwSound & SND_ALIAS)) return FALSE;
  TBackend* b = CurrentBackend();
  String name = pszSound ? String(pszSound) : String();
  return b && b->PlaySound(name, fdwSound) ? TRUE : FALSE;
}

HINSTANCE ShellExecuteW(HWND, LPCWSTR lpOperation, LPCWSTR lpFile, LPCWSTR, LPCWSTR, int) {
  auto answer = [](int code) { return reinterpret_cast<HINSTANCE>(intptr_t(code)); };
  if (!lpFile || !*lpFile) return answer(SE_ERR_FNF);
  if (lpOperation && *lpOperation) {
    String op(lpOperation);
    for (auto& c : op)
      if (c >= u'A' && c <= u'Z') c = char16_t(c - u'A' + u'a');
    if (op != u"open") return answer(SE_ERR_NOASSOC);
  }
  TBackend* b = CurrentBackend();
  if (!b || !b->OpenDocument(String(lpFile))) return answer(SE_ERR_NOASSOC);
  return answer(42);
}

BOOL WinHelpW(HWND, LPCWSTR, UINT uCommand, ULONG_PTR) {
  if (uCommand == HELP_QUIT || uCommand == HELP_SETPOPUP_POS) return TRUE;
  SetLastError(ERROR_FILE_NOT_FOUND);
  return FALSE;
}

// ---------------------------------------------------------------------------
// Global memory

HGLOBAL GlobalAlloc(UINT, size_t n) {
  if (n > (size_t(1) << 31)) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  auto* g = new TGlobal();
  g->Data.assign(std::max<size_t>(n, 1), 0);
  std::lock_guard<std::mutex> l(GlobalLockMutex());
  Globals().insert(g);
  return g;
}

LPVOID GlobalLock(HGLOBAL h) {
  TGlobal* g = LookupGlobal(h);
  if (!g) return nullptr;
  ++g->Locks;
  return g->Data.data();
}

BOOL GlobalUnlock(HGLOBAL h) {
  TGlobal* g = LookupGlobal(h);
  if (!g || g->Locks == 0) return FALSE;
  return --g->Locks > 0;
}

size_t GlobalSize(HGLOBAL h) {
  TGlobal* g = LookupGlobal(h);
  return g ? g->Data.size() : 0;
}

HGLOBAL GlobalFree(HGLOBAL h) {
  TGlobal* g = LookupGlobal(h);
  if (!g) return h;
  {
    std::lock_guard<std::mutex> l(GlobalLockMutex());
    Globals().erase(g);
  }
  delete g;
  return nullptr;
}

// ---------------------------------------------------------------------------
// Clipboard

BOOL OpenClipboard(HWND h) {
  TClipboard& c = Clip();
  if (c.Open && c.OpenBy != h) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  bool reopen = c.Open;
  c.Open = true;
  c.OpenBy = h;
  // Text another program put on the system clipboard replaces ours.
  String text;
  if (TBackend* b = CurrentBackend(); b && !reopen && b->ClipboardText(text)) {
    for (auto& i : c.Items) FreeClipItem(i.first, i.second);
    c.Items.clear();
    c.Owner = nullptr;
    if (HGLOBAL g = MakeGlobal(text.c_str(), (text.size() + 1) * 2)) c.Items.emplace_back(CF_UNICODETEXT, g);
  }
  return TRUE;
}

BOOL CloseClipboard() {
  TClipboard& c = Clip();
  if (!c.Open) return FALSE;
  c.Open = false;
  c.OpenBy = nullptr;
  if (c.Changed) {
    c.Changed = false;
    // The program's text goes to the system clipboard.
    if (TBackend* b = CurrentBackend(); b && IsClipboardFormatAvailable(CF_UNICODETEXT)) {
      c.Open = true;
      HANDLE u = GetClipboardData(CF_UNICODETEXT);
      c.Open = false;
      if (auto* p = u ? static_cast<const char16_t*>(GlobalLock(u)) : nullptr) {
        size_t n = GlobalSize(u) / 2;
        String s(p, std::find(p, p + n, u'\0'));
        GlobalUnlock(u);
        b->SetClipboardText(s);
      }
    }
  }
  return TRUE;
}

BOOL EmptyClipboard() {
  TClipboard& c = Clip();
  if (!c.Open) return FALSE;
  for (auto& i : c.Items) FreeClipItem(i.first, i.second);
  c.Items.clear();
  c.Owner = c.OpenBy;
  c.Changed = true;
  return TRUE;
}

HANDLE SetClipboardData(UINT format, HANDLE h) {
  TClipboard& c = Clip();
  if (!c.Open || !format) return nullptr;
  c.Changed = true;
  for (auto& i : c.Items)
    if (i.first == format) {
      if (i.second != h) FreeClipItem(format, i.second);
      i.second = h;
      return h;
    }
  c.Items.emplace_back(format, h);
  return h;
}

HANDLE GetClipboardData(UINT format) {
  TClipboard& c = Clip();
  if (!c.Open) return nullptr;
  if (HANDLE h = FindClip(format)) return h;
  // Text converts between its forms, as the platform synthesizes them.
  if (format == CF_TEXT || format == CF_OEMTEXT) {
    if (HANDLE u = FindClip(CF_UNICODETEXT)) {
      auto* p = static_cast<const char16_t*>(GlobalLock(u));
      size_t n = GlobalSize(u) / 2;
      String s(p, std::find(p, p + n, u'\0'));
      GlobalUnlock(u);
      AnsiString a = StringToAnsi(s);
      HGLOBAL g = MakeGlobal(a.c_str(), a.size() + 1);
      c.Items.emplace_back(format, g);
      return g;
    }
  } else if (format == CF_UNICODETEXT) {
    if (HANDLE t = FindClip(CF_TEXT)) {
      auto* p = static_cast<const char*>(GlobalLock(t));
      size_t n = GlobalSize(t);
      AnsiString a(p, std::find(p, p + n, '\0'));
      GlobalUnlock(t);
      String s = AnsiToString(a);
      HGLOBAL g = MakeGlobal(s.c_str(), (s.size() + 1) * 2);
      c.Items.emplace_back(format, g);
      return g;
    }
  }
  return nullptr;
}

BOOL IsClipboardFormatAvailable(UINT format) {
  if (FindClip(format)) return TRUE;
  if (format == CF_TEXT || format == CF_OEMTEXT) return FindClip(CF_UNICODETEXT) != nullptr;
  if (format == CF_UNICODETEXT) return FindClip(CF_TEXT) != nullptr;
  return FALSE;
}

UINT RegisterClipboardFormatW(LPCWSTR name) { return RegisterWindowMessageW(name); }

UINT EnumClipboardFormats(UINT format) {
  TClipboard& c = Clip();
  if (!c.Open) return 0;
  auto& v = c.Items;
  if (!format) return v.empty() ? 0 : v.front().first;
  for (size_t i = 0; i + 1 < v.size(); ++i)
    if (v[i].first == format) return v[i + 1].first;
  return 0;
}

int CountClipboardFormats() { return int(Clip().Items.size()); }

HWND GetClipboardOwner() { return Clip().Owner; }

}  // namespace win
