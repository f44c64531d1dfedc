// Input: mouse and keyboard events from the backend turned into window
// messages, the queue and physical key state, keyboard layouts (US and
// Turkish Q), focus, activation, capture, mouse tracking, cursors and the
// caret.
#include <algorithm>
#include <cstring>

#include "platform/win/WindowsInternal.h"

namespace win {

using namespace wnd;

namespace {

bool SwappedButtons = false;
UINT DoubleClickTime = 500;
int CursorShowCount = 0;

// ---------------------------------------------------------------------------
// Keyboard layouts

enum TLayoutId { lyUS, lyTurkishQ };
TLayoutId CurrentLayout = lyTurkishQ;

struct TKeyChars {
  BYTE Vk;
  char16_t Normal, Shift, AltGr;
  bool Letter;  // Caps Lock swaps Normal and Shift
};

constexpr TKeyChars UsKeys[] = {
    {'0', u'0', u')', 0, false}, {'1', u'1', u'!', 0, false}, {'2', u'2', u'@', 0, false},
    {'3', u'3', u'#', 0, false}, {'4', u'4', u'$', 0, false}, {'5', u'5', u'%', 0, false},
    {'6', u'6', u'^', 0, false}, {'7', u'7', u'&', 0, false}, {'8', u'8', u'*', 0, false},
    {'9', u'9', u'(', 0, false}, {0xBA, u';', u':', 0, false}, {0xBB, u'=', u'+', 0, false},
    {0xBC, u',', u'<', 0, false}, {0xBD, u'-', u'_', 0, false}, {0xBE, u'.', u'>', 0, false},
    {0xBF, u'/', u'?', 0, false}, {0xC0, u'`', u'~', 0, false}, {0xDB, u'[', u'{', 0, false},
    {0xDC, u'\\', u'|', 0, false}, {0xDD, u']', u'}', 0, false}, {0xDE, u'\'', u'"', 0, false},
    {0xE2, u'\\', u'|', 0, false},
};

constexpr TKeyChars TurkishKeys[] = {
    {'0', u'0', u'=', u'}', false}, {'1', u'1', u'!', u'>', false}, {'2', u'2', u'\'', u'\u00A3', false},
    {'3', u'3', u'^', u'#', false}, {'4', u'4', u'+', u'$', false}, {'5', u'5', u'%', u'\u00BD', false},
    {'6', u'6', u'&', 0, false}, {'7', u'7', u'/', u'{', false}, {'8', u'8', u'(', u'[', false},
    {'9', u'9', u')', u']', false}, {0xBA, u'\u015F', u'\u015E', u'\u00B4', true},
    {0xBC, u',', u';', u'`', false}, {0xBD, u'-', u'_', u'|', false}, {0xBE, u'.', u':', 0, false},
    {0xBF, u'\u00F6', u'\u00D6', 0, true}, {0xC0, u'"', u'\u00E9', u'<', false},
    {0xDB, u'\u011F', u'\u011E', u'\u00A8', true}, {0xDC, u'\u00E7', u'\u00C7', 0, true},
    {0xDD, u'\u00FC', u'\u00DC', u'~', true}, {0xDE, u'i', u'\u0130', 0, true},
    {0xDF, u'*', u'?', u'\\', false}, {0xE2, u'<', u'>', u'|', false},
    {'I', u'\u0131', u'I', 0, true}, {'Q', u'q', u'Q', u'@', true}, {'E', u'e', u'E', u'\u20AC', true},
};

const TKeyChars* FindKey(UINT vk) {
  if (CurrentLayout == lyTurkishQ) {
    for (auto& k : TurkishKeys)
      if (k.Vk == vk) return &k;
  } else {
    for (auto& k : UsKeys)
      if (k.Vk == vk) return &k;
  }
  return nullptr;
}

// The character of a key under a key state (0: none).
char16_t KeyChar(UINT vk, const BYTE* ks) {
  bool shift = (ks[VK_SHIFT] & 0x80) != 0, ctrl = (ks[VK_CONTROL] & 0x80) != 0, alt = (ks[VK_MENU] & 0x80) != 0;
  bool caps = (ks[VK_CAPITAL] & 1) != 0, num = (ks[VK_NUMLOCK] & 1) != 0;
  bool altGr = ctrl && alt;
  if (altGr) {
    const TKeyChars* k = FindKey(vk);
    return k ? k->AltGr : 0;
  }
  // Alt alone does not change the character: Alt+letter arrives as
  // WM_SYSKEYDOWN and TranslateMessage turns it into WM_SYSCHAR with it.
  switch (vk) {
    case VK_BACK: return ctrl ? 0x7F : 0x08;
    case VK_TAB: return ctrl ? 0 : 0x09;
    case VK_RETURN: return ctrl ? 0x0A : 0x0D;
    case VK_ESCAPE: return 0x1B;
    case VK_SPACE: return 0x20;
    case VK_CANCEL: return ctrl ? 0x03 : 0;
    default: break;
  }
  if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD9) return num ? char16_t(u'0' + (vk - VK_NUMPAD0)) : 0;
  switch (vk) {
    case VK_MULTIPLY: return u'*';
    case VK_ADD: return u'+';
    case VK_SUBTRACT: return u'-';
    case VK_DIVIDE: return u'/';
    case VK_DECIMAL: return num ? (CurrentLayout == lyTurkishQ ? u',' : u'.') : 0;
    default: break;
  }
  const TKeyChars* k = FindKey(vk);
  if (ctrl) {
    if (vk >= 'A' && vk <= 'Z') return char16_t(vk - 'A' + 1);
    if (CurrentLayout == lyUS) {
      if (vk == 0xDB) return 0x1B;
      if (vk == 0xDC || vk == 0xE2) return 0x1C;
      if (vk == 0xDD) return 0x1D;
    }
    return 0;
  }
  if (k) {
    bool up = shift;
    if (k->Letter && caps) up = !up;
    return up ? k->Shift : k->Normal;
  }
  if (vk >= 'A' && vk <= 'Z') {
    bool up = shift != caps;
    return up ? char16_t(vk) : char16_t(vk + 32);
  }
  return 0;
}

constexpr BYTE ScanCodes[256] = {
    // 0x00..0x0F
    0, 0, 0, 0x46, 0, 0, 0, 0, 0x0E, 0x0F, 0, 0, 0x4C, 0x1C, 0, 0,
    // 0x10..0x1F
    0x2A, 0x1D, 0x38, 0, 0x3A, 0, 0, 0, 0, 0, 0, 0x01, 0, 0, 0, 0,
    // 0x20..0x2F
    0x39, 0x49, 0x51, 0x4F, 0x47, 0x4B, 0x48, 0x4D, 0x50, 0, 0, 0, 0x54, 0x52, 0x53, 0x63,
    // 0x30..0x3F
    0x0B, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0A, 0, 0, 0, 0, 0, 0,
    // 0x40..0x4F
    0, 0x1E, 0x30, 0x2E, 0x20, 0x12, 0x21, 0x22, 0x23, 0x17, 0x24, 0x25, 0x26, 0x32, 0x31, 0x18,
    // 0x50..0x5F
    0x19, 0x10, 0x13, 0x1F, 0x14, 0x16, 0x2F, 0x11, 0x2D, 0x15, 0x2C, 0x5B, 0x5C, 0x5D, 0, 0x5F,
    // 0x60..0x6F
    0x52, 0x4F, 0x50, 0x51, 0x4B, 0x4C, 0x4D, 0x47, 0x48, 0x49, 0x37, 0x4E, 0, 0x4A, 0x53, 0x35,
    // 0x70..0x7F
    0x3B, 0x3C, 0x3D, 0x3E, 0x3F, 0x40, 0x41, 0x42, 0x43, 0x44, 0x57, 0x58, 0x64, 0x65, 0x66, 0x67,
    // 0x80..0x8F
    0x68, 0x69, 0x6A, 0x6B, 0x6C, 0x6D, 0x6E, 0x76, 0, 0, 0, 0, 0, 0, 0, 0,
    // 0x90..0x9F
    0x45, 0x46, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    // 0xA0..0xAF
    0x2A, 0x36, 0x1D, 0x1D, 0x38, 0x38, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    // 0xB0..0xBF
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x27, 0x0D, 0x33, 0x0C, 0x34, 0x35,
    // 0xC0..0xCF
    0x29, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    // 0xD0..0xDF
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x1A, 0x2B, 0x1B, 0x28, 0x29,
    // 0xE0..0xEF
    0, 0, 0x56, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    // 0xF0..0xFF
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
};

// The generic key of a left/right variant.
UINT GenericKey(UINT vk) {
  switch (vk) {
    case VK_LSHIFT: case VK_RSHIFT: return VK_SHIFT;
    case VK_LCONTROL: case VK_RCONTROL: return VK_CONTROL;
    case VK_LMENU: case VK_RMENU: return VK_MENU;
    default: return vk;
  }
}

// ---------------------------------------------------------------------------
// Mouse

WPARAM MouseKeys() {
  TInputState& in = Input();
  WPARAM k = 0;
  if (in.KeyState[VK_LBUTTON] & 0x80) k |= MK_LBUTTON;
  if (in.KeyState[VK_RBUTTON] & 0x80) k |= MK_RBUTTON;
  if (in.KeyState[VK_MBUTTON] & 0x80) k |= MK_MBUTTON;
  if (in.KeyState[VK_XBUTTON1] & 0x80) k |= MK_XBUTTON1;
  if (in.KeyState[VK_XBUTTON2] & 0x80) k |= MK_XBUTTON2;
  if (in.AsyncState[VK_SHIFT] & 0x80) k |= MK_SHIFT;
  if (in.AsyncState[VK_CONTROL] & 0x80) k |= MK_CONTROL;
  return k;
}

// The keys with the logical button state about to change applied.
WPARAM MouseKeysAfter(int logicalVk, bool down) {
  TInputState& in = Input();
  BYTE saved = in.KeyState[logicalVk];
  in.KeyState[logicalVk] = down ? 0x80 : 0;
  WPARAM k = MouseKeys();
  in.KeyState[logicalVk] = saved;
  return k;
}

// Finds the target of a mouse event: capture window (client) or hit test.
TWnd* MouseTarget(POINT pt, LRESULT* hit) {
  TInputState& in = Input();
  if (TWnd* c = Find(in.Capture)) {
    *hit = HTCLIENT;
    return c;
  }
  return HitTest(pt, hit);
}

void PostMouse(TWnd* w, UINT clientMsg, LRESULT hit, WPARAM keys, POINT pt, WORD xbutton) {
  MSG m;
  m.hwnd = w->Handle;
  m.time = Now();
  m.pt = pt;
  if (hit == HTCLIENT) {
    POINT c = pt;
    ScreenToClient(w->Handle, &c);
    m.message = clientMsg;
    m.wParam = keys | (WPARAM(xbutton) << 16);
    m.lParam = MAKELPARAM(WORD(c.x), WORD(c.y));
  } else {
    UINT nc = clientMsg == WM_MOUSEMOVE ? WM_NCMOUSEMOVE
              : (clientMsg >= WM_XBUTTONDOWN && clientMsg <= WM_XBUTTONDBLCLK)
                  ? WM_NCXBUTTONDOWN + (clientMsg - WM_XBUTTONDOWN)
                  : clientMsg - (WM_LBUTTONDOWN - WM_NCLBUTTONDOWN);
    m.message = nc;
    m.wParam = WPARAM(hit) | (WPARAM(xbutton) << 16);
    m.lParam = MAKELPARAM(WORD(pt.x), WORD(pt.y));
  }
  PostInput(m);
}

void LeaveCheck(TWnd* target, LRESULT hit) {
  TInputState& in = Input();
  if (!in.TrackLeave) return;
  bool inside = target && target->Handle == in.TrackLeave && ((hit == HTCLIENT) != in.TrackNonClient);
  if (inside) return;
  HWND h = in.TrackLeave;
  bool nc = in.TrackNonClient;
  in.TrackLeave = nullptr;
  PostMessageW(h, nc ? WM_NCMOUSELEAVE : WM_MOUSELEAVE, 0, 0);
}

// ---------------------------------------------------------------------------
// Cursors and icons

struct TStdCursor {
  uintptr_t Id;
  HCURSOR Handle;
};
std::vector<TStdCursor>& StdCursors() {
  static std::vector<TStdCursor>* v = new std::vector<TStdCursor>();
  return *v;
}

// A monochrome 32 x 32 cursor: mask (AND) and image (XOR) halves; opaque
// pixels where shape() is 1 (black) or 2 (white).
template <class F>
HCURSOR MakeCursor(int hx, int hy, F shape) {
  BYTE bits[2 * 32 * 4];
  std::memset(bits, 0, sizeof bits);
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) {
      int v = shape(x, y);
      BYTE bit = BYTE(0x80 >> (x & 7));
      if (v == 0) bits[y * 4 + x / 8] |= bit;             // AND 1: transparent
      if (v == 2) bits[(32 + y) * 4 + x / 8] |= bit;      // XOR 1 on AND 0: white
    }
  ICONINFO ii;
  ii.fIcon = FALSE;
  ii.xHotspot = DWORD(hx);
  ii.yHotspot = DWORD(hy);
  ii.hbmMask = CreateBitmap(32, 64, 1, 1, bits);
  ii.hbmColor = nullptr;
  HICON h = CreateIconIndirect(&ii);
  DeleteObject(ii.hbmMask);
  return h;
}

HCURSOR StandardCursor(uintptr_t id) {
  for (auto& c : StdCursors())
    if (c.Id == id) return c.Handle;
  HCURSOR h = nullptr;
  switch (id) {
    case 32512:  // arrow: 12 wide, 19 high
    case 32650:
    case 32651:
    case 32516:
      h = MakeCursor(0, 0, [](int x, int y) {
        if (y > 18 || x > y || x > 11) return 0;
        if (x == 0 || x == y || y == 18) return 1;
        return 2;
      });
      break;
    case 32513:  // I-beam
      h = MakeCursor(4, 8, [](int x, int y) { return (y < 17 && (x == 4 || ((y == 0 || y == 16) && x < 9))) ? 1 : 0; });
      break;
    case 32649:  // hand
      h = MakeCursor(5, 0, [](int x, int y) {
        if (y < 22 && x >= 4 && x <= 6) return 1;
        if (y >= 8 && y < 22 && x >= 4 && x < 16) return (x == 4 || x == 15 || y == 21) ? 1 : 2;
        return 0;
      });
      break;
    default:  // crosses and size arrows: a 16 x 16 cross around the hot spot
      h = MakeCursor(8, 8, [](int x, int y) { return ((x == 8 && y < 17) || (y == 8 && x < 17)) ? 1 : 0; });
      break;
  }
  StdCursors().push_back(TStdCursor{id, h});
  return h;
}

// ---------------------------------------------------------------------------
// Caret

struct TCaret {
  HWND Owner{};
  int Width = 0, Height = 0;
  POINT Pos{};
  int HideCount = 1;  // a new caret is hidden
  bool Drawn = false;
  bool PaintHidden = false;
  UINT BlinkTime = 530;
  // Blinking (on a backend that blinks it): the off phase, the next change.
  bool BlinkOff = false;
  DWORD NextBlink = 0;
};
TCaret Caret;

void InvertCaret() {
  HDC dc = GetDCEx(Caret.Owner, nullptr, DCX_CACHE | DCX_CLIPSIBLINGS | DCX_CLIPCHILDREN);
  if (!dc) return;
  PatBlt(dc, Caret.Pos.x, Caret.Pos.y, Caret.Width, Caret.Height, DSTINVERT);
  ReleaseDC(Caret.Owner, dc);
  if (TWnd* w = Find(Caret.Owner)) NotifyBackend(w);
}

void CaretOff() {
  if (Caret.Drawn) {
    InvertCaret();
    Caret.Drawn = false;
  }
}

// A shown or moved caret starts a blink period visible.
void RestartBlink() {
  Caret.BlinkOff = false;
  Caret.NextBlink = Now() + Caret.BlinkTime;
}

void CaretOn() {
  if (!Caret.Drawn && Caret.Owner && Caret.HideCount == 0 && !Caret.PaintHidden && !Caret.BlinkOff &&
      IsWindowVisible(Caret.Owner)) {
    InvertCaret();
    Caret.Drawn = true;
  }
}

TWnd* FocusAncestorIn(TWnd* top) {
  TWnd* f = Find(Input().Focus);
  for (TWnd* x = f; x; x = x->Parent)
    if (x == top) return f;
  return nullptr;
}

}  // namespace

// ---------------------------------------------------------------------------
// Internals

namespace wnd {

TInputState& Input() {
  static TInputState* s = [] {
    auto* st = new TInputState();
    st->KeyState[VK_NUMLOCK] = 1;
    st->AsyncState[VK_NUMLOCK] = 1;
    return st;
  }();
  return *s;
}

bool PreprocessInput(MSG& m, bool remove) {
  bool mouse = (m.message >= WM_MOUSEFIRST && m.message <= WM_MOUSELAST) ||
               (m.message >= WM_NCMOUSEMOVE && m.message <= WM_NCXBUTTONDBLCLK);
  if (mouse) {
    bool client = m.message >= WM_MOUSEFIRST;
    LRESULT hit = client ? HTCLIENT : LRESULT(LOWORD(m.wParam));
    if (HasHooks(WH_MOUSE)) {
      MOUSEHOOKSTRUCT mh;
      mh.pt = m.pt;
      mh.hwnd = m.hwnd;
      mh.wHitTestCode = UINT(hit);
      if (CallHooks(WH_MOUSE, remove ? HC_ACTION : HC_NOREMOVE, m.message, LPARAM(&mh))) return false;
    }
    if (!remove) return true;
    TWnd* w = Find(m.hwnd);
    if (!w) return false;
    HWND h = w->Handle;
    TInputState& in = Input();
    UINT cm = client ? m.message : m.message + (WM_LBUTTONDOWN - WM_NCLBUTTONDOWN);
    if (!client && m.message >= WM_NCXBUTTONDOWN) cm = WM_XBUTTONDOWN + (m.message - WM_NCXBUTTONDOWN);
    bool down = cm == WM_LBUTTONDOWN || cm == WM_RBUTTONDOWN || cm == WM_MBUTTONDOWN || cm == WM_XBUTTONDOWN ||
                cm == WM_LBUTTONDBLCLK || cm == WM_RBUTTONDBLCLK || cm == WM_MBUTTONDBLCLK ||
                cm == WM_XBUTTONDBLCLK;
    bool eat = false;
    if (down && !in.Capture) {
      TWnd* top = TopLevelOf(w);
      if (top && in.Active != top->Handle && !(top->ExStyle & WS_EX_NOACTIVATE)) {
        LRESULT r = SendMessageW(h, WM_MOUSEACTIVATE, WPARAM(top->Handle), MAKELPARAM(WORD(hit), WORD(m.message)));
        if (!Find(h)) return false;
        if (r == MA_ACTIVATE || r == MA_ACTIVATEANDEAT || r == 0) {
          if (TWnd* t = Find(top->Handle)) Activate(t, WA_CLICKACTIVE);
        }
        eat = r == MA_ACTIVATEANDEAT || r == MA_NOACTIVATEANDEAT;
        if (!Find(h)) return false;
      }
    }
    if (!in.Capture) SendMessageW(h, WM_SETCURSOR, WPARAM(h), MAKELPARAM(WORD(hit), WORD(m.message)));
    if (!Find(h)) return false;
    return !eat;
  }
  if (m.message >= WM_KEYDOWN && m.message <= WM_SYSKEYUP && m.message != WM_CHAR && m.message != WM_SYSCHAR &&
      m.message != WM_DEADCHAR) {
    if (HasHooks(WH_KEYBOARD) &&
        CallHooks(WH_KEYBOARD, remove ? HC_ACTION : HC_NOREMOVE, m.wParam, m.lParam))
      return false;
  }
  return true;
}

void UpdateQueueKeyState(const MSG& m) {
  TInputState& in = Input();
  auto set = [&](UINT vk, bool down) {
    vk &= 0xFF;
    if (down && !(in.KeyState[vk] & 0x80)) in.KeyState[vk] ^= 1;
    in.KeyState[vk] = BYTE((in.KeyState[vk] & 1) | (down ? 0x80 : 0));
  };
  switch (m.message) {
    case WM_KEYDOWN: case WM_SYSKEYDOWN: set(UINT(m.wParam), true); break;
    case WM_KEYUP: case WM_SYSKEYUP: set(UINT(m.wParam), false); break;
    case WM_LBUTTONDOWN: case WM_LBUTTONDBLCLK: case WM_NCLBUTTONDOWN: case WM_NCLBUTTONDBLCLK: set(VK_LBUTTON, true); break;
    case WM_LBUTTONUP: case WM_NCLBUTTONUP: set(VK_LBUTTON, false); break;
    case WM_RBUTTONDOWN: case WM_RBUTTONDBLCLK: case WM_NCRBUTTONDOWN: case WM_NCRBUTTONDBLCLK: set(VK_RBUTTON, true); break;
    case WM_RBUTTONUP: case WM_NCRBUTTONUP: set(VK_RBUTTON, false); break;
    case WM_MBUTTONDOWN: case WM_MBUTTONDBLCLK: case WM_NCMBUTTONDOWN: case WM_NCMBUTTONDBLCLK: set(VK_MBUTTON, true); break;
    case WM_MBUTTONUP: case WM_NCMBUTTONUP: set(VK_MBUTTON, false); break;
    default: break;
  }
  // the generic modifier keys follow their sides
  if (m.message == WM_KEYDOWN || m.message == WM_KEYUP || m.message == WM_SYSKEYDOWN || m.message == WM_SYSKEYUP) {
    for (UINT g : {UINT(VK_SHIFT), UINT(VK_CONTROL), UINT(VK_MENU)})
      if (m.wParam == g) {
        UINT l = g == VK_SHIFT ? VK_LSHIFT : g == VK_CONTROL ? VK_LCONTROL : VK_LMENU;
        in.KeyState[l] = BYTE((in.KeyState[l] & 1) | (in.KeyState[g] & 0x80));
      }
  }
}

void ForgetFocus(TWnd* w) {
  TInputState& in = Input();
  HWND h = w->Handle;
  if (in.Focus == h) in.Focus = nullptr;
  if (in.Active == h) in.Active = nullptr;
  if (in.Foreground == h) in.Foreground = nullptr;
  if (in.Capture == h) in.Capture = nullptr;
  if (in.TrackLeave == h) in.TrackLeave = nullptr;
  if (in.TrackHover == h) in.TrackHover = nullptr;
  if (in.MouseWindow == h) in.MouseWindow = nullptr;
  if (in.LastClickWnd == h) in.LastClickWnd = nullptr;
  if (Caret.Owner == h) {
    Caret.Drawn = false;
    Caret.Owner = nullptr;
  }
}

void Activate(TWnd* top, WORD mode) {
  // A window of child style is never activated, also when it has no parent.
  if (top->Style & WS_CHILD) return;
  TInputState& in = Input();
  HWND h = top->Handle;
  HWND old = in.Active;
  if (old == h) return;
  // The window comes to the top of its band first.
  TWnd* desk = Desktop();
  bool atTop = false;
  for (TWnd* s : desk->Children) {
    if (!s->Visible()) continue;
    if (s == top) atTop = true;
    if (s == top || !(s->ExStyle & WS_EX_TOPMOST) || (top->ExStyle & WS_EX_TOPMOST)) break;
  }
  if (!atTop) {
    SetWindowPos(h, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    if (!(top = Find(h))) return;
  }
  in.Active = h;
  in.Foreground = h;
  if (!in.AppActive) {
    in.AppActive = true;
    std::vector<HWND> tops;
    for (TWnd* s : desk->Children)
      if (s->ThreadId == top->ThreadId) tops.push_back(s->Handle);
    for (HWND t : tops)
      if (IsWindow(t)) SendMessageW(t, WM_ACTIVATEAPP, TRUE, 0);
  }
  if (old && IsWindow(old)) {
    SendMessageW(old, WM_NCACTIVATE, FALSE, LPARAM(h));
    if (IsWindow(old)) SendMessageW(old, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, IsIconic(old) ? 1 : 0), LPARAM(h));
  }
  if (in.Active != h || !IsWindow(h)) return;
  SendMessageW(h, WM_NCACTIVATE, TRUE, LPARAM(old));
  if (in.Active != h || !IsWindow(h)) return;
  SendMessageW(h, WM_ACTIVATE, MAKEWPARAM(mode, IsIconic(h) ? 1 : 0), LPARAM(old));
  if (!(top = Find(h)) || in.Active != h) return;
  // The focus must lie in the active window.
  if (in.Focus && !FocusAncestorIn(top)) SetFocus(nullptr);
}

void CheckHover() {
  TInputState& in = Input();
  if (!in.TrackHover) return;
  if (DWORD(Now() - in.HoverStart) < in.HoverTime) return;
  HWND h = in.TrackHover;
  in.TrackHover = nullptr;
  TWnd* w = Find(h);
  if (!w) return;
  POINT c = in.Cursor;
  RECT sr = ScreenClientRect(w);
  if (c.x >= sr.left && c.x < sr.right && c.y >= sr.top && c.y < sr.bottom) {
    ScreenToClient(h, &c);
    PostMessageW(h, WM_MOUSEHOVER, MouseKeys(), MAKELPARAM(WORD(c.x), WORD(c.y)));
  }
}

void CheckCaretBlink() {
  if (!Caret.Owner || Caret.HideCount != 0 || Caret.PaintHidden || !OnMainThread()) return;
  if (Caret.BlinkTime == 0 || Caret.BlinkTime == INFINITE) return;
  TBackend* b = CurrentBackend();
  if (!b || !b->BlinksCaret()) return;
  DWORD now = Now();
  if (int32_t(now - Caret.NextBlink) < 0) return;
  Caret.NextBlink = now + Caret.BlinkTime;
  if (Caret.BlinkOff) {
    Caret.BlinkOff = false;
    CaretOn();
  } else {
    CaretOff();
    Caret.BlinkOff = true;
  }
}

void CaretHideForPaint(TWnd* w) {
  if (Caret.Owner == w->Handle && !Caret.PaintHidden) {
    CaretOff();
    Caret.PaintHidden = true;
  }
}

void CaretShowAfterPaint(TWnd* w) {
  if (Caret.Owner == w->Handle && Caret.PaintHidden) {
    Caret.PaintHidden = false;
    CaretOn();
  }
}

}  // namespace wnd

// ---------------------------------------------------------------------------
// Injection

namespace {
POINT ClampPoint(POINT p) {
  return POINT{std::clamp<LONG>(p.x, -MaxCoord, MaxCoord), std::clamp<LONG>(p.y, -MaxCoord, MaxCoord)};
}
}  // namespace

void InjectMouseMove(POINT pt) {
  pt = ClampPoint(pt);
  TInputState& in = Input();
  in.Cursor = pt;
  LRESULT hit;
  TWnd* w = MouseTarget(pt, &hit);
  LeaveCheck(w, hit);
  if (!w || hit == HTERROR) return;
  if (in.MouseWindow != w->Handle) in.HoverStart = Now();
  in.MouseWindow = w->Handle;
  in.MouseHit = hit;
  PostMouse(w, WM_MOUSEMOVE, hit, MouseKeys(), pt, 0);
}

void InjectMouseButton(int button, bool down, POINT pt) {
  pt = ClampPoint(pt);
  TInputState& in = Input();
  if (in.Cursor.x != pt.x || in.Cursor.y != pt.y) InjectMouseMove(pt);
  in.AsyncState[button & 0xFF] = down ? 0x80 : 0;
  int logical = button;
  if (SwappedButtons && button == VK_LBUTTON) logical = VK_RBUTTON;
  else if (SwappedButtons && button == VK_RBUTTON) logical = VK_LBUTTON;
  UINT base;
  WORD xb = 0;
  switch (logical) {
    case VK_LBUTTON: base = WM_LBUTTONDOWN; break;
    case VK_RBUTTON: base = WM_RBUTTONDOWN; break;
    case VK_MBUTTON: base = WM_MBUTTONDOWN; break;
    case VK_XBUTTON1: base = WM_XBUTTONDOWN; xb = XBUTTON1; break;
    case VK_XBUTTON2: base = WM_XBUTTONDOWN; xb = XBUTTON2; break;
    default: return;
  }
  LRESULT hit;
  TWnd* w = MouseTarget(pt, &hit);
  if (!w) return;
  if (hit == HTERROR) {
    // A click on a disabled window: the cursor is asked, nothing else happens.
    if (down) {
      SendMessageW(w->Handle, WM_SETCURSOR, WPARAM(w->Handle), MAKELPARAM(WORD(HTERROR), WORD(base)));
      MessageBeep(0);
    }
    return;
  }
  UINT msg = down ? base : base + 1;
  if (down) {
    DWORD now = Now();
    bool dblAllowed = hit != HTCLIENT || (w->Class && (w->Class->Style & CS_DBLCLKS));
    int dx = std::abs(int(pt.x - in.LastClickPos.x)), dy = std::abs(int(pt.y - in.LastClickPos.y));
    if (dblAllowed && in.LastClickWnd == w->Handle && in.LastClickMsg == base &&
        DWORD(now - in.LastClickTime) <= DoubleClickTime && dx <= GetSystemMetrics(SM_CXDOUBLECLK) / 2 &&
        dy <= GetSystemMetrics(SM_CYDOUBLECLK) / 2) {
      msg = base + 2;
      in.LastClickWnd = nullptr;
      in.LastClickTime = 0;
    } else {
      in.LastClickWnd = w->Handle;
      in.LastClickMsg = base;
      in.LastClickTime = now;
      in.LastClickPos = pt;
    }
  }
  PostMouse(w, msg, hit, MouseKeysAfter(logical, down), pt, xb);
}

void InjectMouseWheel(int delta, bool horizontal, POINT pt) {
  pt = ClampPoint(pt);
  TInputState& in = Input();
  in.Cursor = pt;
  HWND target = in.Focus ? in.Focus : in.Active;
  if (!target) return;
  MSG m;
  m.hwnd = target;
  m.message = horizontal ? WM_MOUSEHWHEEL : WM_MOUSEWHEEL;
  m.wParam = MAKEWPARAM(WORD(MouseKeys()), WORD(SHORT(delta)));
  m.lParam = MAKELPARAM(WORD(pt.x), WORD(pt.y));
  m.time = Now();
  m.pt = pt;
  PostInput(m);
}

void InjectKey(UINT vk, bool down, UINT repeat, bool extended) {
  TInputState& in = Input();
  vk &= 0xFF;
  UINT g = GenericKey(vk);
  bool wasDown = (in.AsyncState[g] & 0x80) != 0;
  auto setAsync = [&](UINT k) {
    if (down && !(in.AsyncState[k] & 0x80)) in.AsyncState[k] ^= 1;
    in.AsyncState[k] = BYTE((in.AsyncState[k] & 1) | (down ? 0x80 : 0));
  };
  setAsync(vk);
  if (g != vk) setAsync(g);
  bool alt = (in.AsyncState[VK_MENU] & 0x80) != 0, ctrl = (in.AsyncState[VK_CONTROL] & 0x80) != 0;
  HWND target = in.Focus ? in.Focus : in.Active;
  if (!target) return;
  bool sys = (!in.Focus) || (alt && !ctrl) || g == VK_F10 || (g == VK_MENU && !ctrl);
  MSG m;
  m.hwnd = target;
  m.message = down ? (sys ? WM_SYSKEYDOWN : WM_KEYDOWN) : (sys ? WM_SYSKEYUP : WM_KEYUP);
  m.wParam = g;
  DWORD lp = (down ? std::max<UINT>(repeat, 1) : 1) & 0xFFFF;
  lp |= DWORD(ScanCodes[vk]) << 16;
  if (extended) lp |= 1u << 24;
  if (alt) lp |= 1u << 29;
  if (down ? wasDown : true) lp |= 1u << 30;
  if (!down) lp |= 1u << 31;
  m.lParam = LPARAM(lp);
  m.time = Now();
  m.pt = in.Cursor;
  PostInput(m);
}

void InjectChar(WCHAR ch) {
  TInputState& in = Input();
  HWND target = in.Focus ? in.Focus : in.Active;
  if (!target) return;
  MSG m;
  m.hwnd = target;
  m.message = WM_CHAR;
  m.wParam = ch;
  m.lParam = 1;
  m.time = Now();
  m.pt = in.Cursor;
  PostInput(m);
}

void InjectAppActivation(bool active) {
  TInputState& in = Input();
  if (active) {
    if (in.AppActive) return;
    for (TWnd* s : Desktop()->Children)
      if (s->Visible() && !(s->Style & WS_DISABLED) && !(s->ExStyle & WS_EX_NOACTIVATE)) {
        Activate(s, WA_ACTIVE);
        return;
      }
    return;
  }
  if (!in.AppActive) return;
  HWND old = in.Active;
  in.Active = nullptr;
  in.Foreground = nullptr;
  if (old && IsWindow(old)) {
    SendMessageW(old, WM_NCACTIVATE, FALSE, 0);
    if (IsWindow(old)) SendMessageW(old, WM_ACTIVATE, WA_INACTIVE, 0);
  }
  in.AppActive = false;
  std::vector<HWND> tops;
  for (TWnd* s : Desktop()->Children) tops.push_back(s->Handle);
  for (HWND t : tops)
    if (IsWindow(t)) SendMessageW(t, WM_ACTIVATEAPP, FALSE, 0);
  if (in.Focus) SetFocus(nullptr);
}

// ---------------------------------------------------------------------------
// Focus, activation, capture

HWND SetFocus(HWND hWnd) {
  TInputState& in = Input();
  HWND old = in.Focus;
  if (!hWnd) {
    if (old) {
      in.Focus = nullptr;
      if (IsWindow(old)) SendMessageW(old, WM_KILLFOCUS, 0, 0);
    }
    return old;
  }
  TWnd* w = Find(hWnd);
  if (!w || w == Desktop() || w->ThreadId != ThisThreadId()) return nullptr;
  TWnd* top = TopLevelOf(w);
  if (in.Active != top->Handle) {
    Activate(top, WA_ACTIVE);
    if (!IsWindow(hWnd)) return nullptr;
    old = in.Focus;
  }
  if (old == hWnd) return old;
  in.Focus = hWnd;
  if (old && IsWindow(old)) SendMessageW(old, WM_KILLFOCUS, WPARAM(hWnd), 0);
  if (in.Focus == hWnd && IsWindow(hWnd)) SendMessageW(hWnd, WM_SETFOCUS, WPARAM(old), 0);
  return old;
}

HWND GetFocus() { return Input().Focus; }

HWND SetActiveWindow(HWND hWnd) {
  TInputState& in = Input();
  HWND old = in.Active;
  if (!hWnd) {
    if (!old) return nullptr;
    in.Active = nullptr;
    if (IsWindow(old)) {
      SendMessageW(old, WM_NCACTIVATE, FALSE, 0);
      if (IsWindow(old)) SendMessageW(old, WM_ACTIVATE, WA_INACTIVE, 0);
    }
    if (in.Focus) SetFocus(nullptr);
    return old;
  }
  TWnd* w = Find(hWnd);
  if (!w) return nullptr;
  TWnd* top = TopLevelOf(w);
  if (!top || top == Desktop()) return nullptr;
  Activate(top, WA_ACTIVE);
  return old;
}

HWND GetActiveWindow() { return Input().Active; }

BOOL SetForegroundWindow(HWND hWnd) {
  TWnd* w = Find(hWnd);
  if (!w) return FALSE;
  TWnd* top = TopLevelOf(w);
  if (!top || top == Desktop()) return FALSE;
  Activate(top, WA_ACTIVE);
  return TRUE;
}

HWND GetForegroundWindow() { return Input().Foreground; }

HWND SetCapture(HWND hWnd) {
  TInputState& in = Input();
  HWND old = in.Capture;
  if (!IsWindow(hWnd)) return nullptr;
  in.Capture = hWnd;
  if (old && old != hWnd && IsWindow(old)) SendMessageW(old, WM_CAPTURECHANGED, 0, LPARAM(hWnd));
  return old;
}

BOOL ReleaseCapture() {
  TInputState& in = Input();
  HWND old = in.Capture;
  in.Capture = nullptr;
  if (old && IsWindow(old)) SendMessageW(old, WM_CAPTURECHANGED, 0, 0);
  return TRUE;
}

HWND GetCapture() { return Input().Capture; }

BOOL EnableWindow(HWND hWnd, BOOL bEnable) {
  TWnd* w = Find(hWnd);
  if (!w) return FALSE;
  bool wasDisabled = (w->Style & WS_DISABLED) != 0;
  if (bEnable && wasDisabled) {
    w->Style &= ~WS_DISABLED;
    SendMessageW(hWnd, WM_ENABLE, TRUE, 0);
  } else if (!bEnable && !wasDisabled) {
    SendMessageW(hWnd, WM_CANCELMODE, 0, 0);
    if (!(w = Find(hWnd))) return FALSE;
    w->Style |= WS_DISABLED;
    TInputState& in = Input();
    for (TWnd* f = Find(in.Focus); f; f = f->Parent)
      if (f == w) {
        SetFocus(nullptr);
        break;
      }
    if (IsWindow(hWnd)) SendMessageW(hWnd, WM_ENABLE, FALSE, 0);
  }
  return wasDisabled;
}

// ---------------------------------------------------------------------------
// Key state and layouts

SHORT GetKeyState(int vk) {
  BYTE s = Input().KeyState[vk & 0xFF];
  return SHORT(((s & 0x80) ? 0x8000 : 0) | (s & 1));
}

SHORT GetAsyncKeyState(int vk) {
  BYTE s = Input().AsyncState[vk & 0xFF];
  return SHORT((s & 0x80) ? 0x8000 : 0);
}

BOOL GetKeyboardState(LPBYTE ks) {
  if (!ks) return FALSE;
  std::memcpy(ks, Input().KeyState, 256);
  return TRUE;
}

BOOL SetKeyboardState(LPBYTE ks) {
  if (!ks) return FALSE;
  std::memcpy(Input().KeyState, ks, 256);
  return TRUE;
}

UINT MapVirtualKeyW(UINT code, UINT type) {
  switch (type) {
    case MAPVK_VK_TO_VSC: return code < 256 ? ScanCodes[code] : 0;
    case MAPVK_VSC_TO_VK:
    case MAPVK_VSC_TO_VK_EX:
      for (UINT vk = 1; vk < 256; ++vk) {
        if (vk >= VK_NUMPAD0 && vk <= VK_DIVIDE) continue;
        if (type == MAPVK_VSC_TO_VK && (vk >= VK_LSHIFT && vk <= VK_RMENU)) continue;
        if (ScanCodes[vk] == code && code) return vk;
      }
      return 0;
    case MAPVK_VK_TO_CHAR: {
      BYTE ks[256] = {};
      char16_t c = KeyChar(code, ks);
      if (c >= u'a' && c <= u'z') c = char16_t(c - 32);
      if (code == 'I' && CurrentLayout == lyTurkishQ) c = u'I';
      return c;
    }
    default: return 0;
  }
}

int ToUnicode(UINT vk, UINT, const BYTE* ks, LPWSTR buf, int n, UINT) {
  if (!ks || !buf || n <= 0) return 0;
  char16_t c = KeyChar(vk & 0xFF, ks);
  if (!c) return 0;
  buf[0] = c;
  if (n > 1) buf[1] = 0;
  return 1;
}

SHORT VkKeyScanW(WCHAR ch) {
  BYTE ks[256] = {};
  for (int state = 0; state < 4; ++state) {
    std::memset(ks, 0, sizeof ks);
    if (state & 1) ks[VK_SHIFT] = 0x80;
    if (state & 2) ks[VK_CONTROL] = 0x80;
    for (UINT vk = 1; vk < 256; ++vk) {
      if (vk >= VK_NUMPAD0 && vk <= VK_DIVIDE) continue;
      if (KeyChar(vk, ks) == ch) return SHORT(vk | ((state & 1) ? 0x100 : 0) | ((state & 2) ? 0x200 : 0));
    }
  }
  // AltGr characters: Ctrl+Alt
  std::memset(ks, 0, sizeof ks);
  ks[VK_CONTROL] = ks[VK_MENU] = 0x80;
  for (UINT vk = 1; vk < 256; ++vk)
    if (KeyChar(vk, ks) == ch) return SHORT(vk | 0x600);
  return -1;
}

HKL GetKeyboardLayout(DWORD) { return CurrentLayout == lyUS ? HKL_US : HKL_TURKISH_Q; }

HKL ActivateKeyboardLayout(HKL hkl, UINT) {
  HKL old = GetKeyboardLayout(0);
  if (hkl == HKL_US)
    CurrentLayout = lyUS;
  else if (hkl == HKL_TURKISH_Q)
    CurrentLayout = lyTurkishQ;
  else
    return nullptr;
  return old;
}

HKL LoadKeyboardLayoutW(LPCWSTR id, UINT flags) {
  if (!id) return nullptr;
  String s(id);
  HKL h = nullptr;
  if (s == u"00000409") h = HKL_US;
  else if (s == u"0000041F" || s == u"0000041f") h = HKL_TURKISH_Q;
  if (h && (flags & KLF_ACTIVATE)) ActivateKeyboardLayout(h, 0);
  return h;
}

BOOL TranslateMessage(const MSG* m) {
  if (!m) return FALSE;
  if (m->message != WM_KEYDOWN && m->message != WM_SYSKEYDOWN) {
    return m->message == WM_KEYUP || m->message == WM_SYSKEYUP;
  }
  BYTE ks[256];
  GetKeyboardState(ks);
  WCHAR buf[2];
  if (ToUnicode(UINT(m->wParam), 0, ks, buf, 2, 0) == 1)
    PostMessageW(m->hwnd, m->message == WM_KEYDOWN ? WM_CHAR : WM_SYSCHAR, buf[0], m->lParam);
  return TRUE;
}

// ---------------------------------------------------------------------------
// Mouse tracking and settings

BOOL TrackMouseEvent(TRACKMOUSEEVENT* t) {
  if (!t || t->cbSize != sizeof(TRACKMOUSEEVENT)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  TInputState& in = Input();
  if (t->dwFlags & TME_QUERY) {
    t->dwFlags = 0;
    t->hwndTrack = nullptr;
    if (in.TrackLeave) {
      t->dwFlags |= TME_LEAVE | (in.TrackNonClient ? TME_NONCLIENT : 0);
      t->hwndTrack = in.TrackLeave;
    }
    if (in.TrackHover) {
      t->dwFlags |= TME_HOVER;
      t->hwndTrack = in.TrackHover;
      t->dwHoverTime = in.HoverTime;
    }
    return TRUE;
  }
  if (!IsWindow(t->hwndTrack)) {
    SetLastError(1400);
    return FALSE;
  }
  if (t->dwFlags & TME_CANCEL) {
    if ((t->dwFlags & TME_LEAVE) && in.TrackLeave == t->hwndTrack) in.TrackLeave = nullptr;
    if ((t->dwFlags & TME_HOVER) && in.TrackHover == t->hwndTrack) in.TrackHover = nullptr;
    return TRUE;
  }
  bool nc = (t->dwFlags & TME_NONCLIENT) != 0;
  // Is the mouse over the tracked part of the window now?
  LRESULT hit = HTNOWHERE;
  TWnd* under = nullptr;
  if (TWnd* c = Find(in.Capture))
    under = c, hit = HTCLIENT;
  else
    under = Find(in.MouseWindow), hit = in.MouseHit;
  bool inside = under && under->Handle == t->hwndTrack && ((hit == HTCLIENT) != nc);
  if (t->dwFlags & TME_LEAVE) {
    if (inside) {
      in.TrackLeave = t->hwndTrack;
      in.TrackNonClient = nc;
    } else {
      PostMessageW(t->hwndTrack, nc ? WM_NCMOUSELEAVE : WM_MOUSELEAVE, 0, 0);
    }
  }
  if ((t->dwFlags & TME_HOVER) && inside) {
    in.TrackHover = t->hwndTrack;
    in.HoverTime = t->dwHoverTime == HOVER_DEFAULT ? 400 : t->dwHoverTime;
    in.HoverStart = Now();
  }
  return TRUE;
}

BOOL DragDetect(HWND hwnd, POINT pt) {
  if (!IsWindow(hwnd)) return FALSE;
  int cx = GetSystemMetrics(SM_CXDRAG), cy = GetSystemMetrics(SM_CYDRAG);
  RECT r{pt.x - cx, pt.y - cy, pt.x + cx, pt.y + cy};
  SetCapture(hwnd);
  BOOL result = FALSE;
  for (;;) {
    MSG m;
    if (!PeekMessageW(&m, nullptr, WM_MOUSEFIRST, WM_MOUSELAST, PM_REMOVE)) {
      if (GetCapture() != hwnd) break;
      // Input that reached the queue before the capture went where the
      // pointer was: the pointer itself decides, and a released button ends
      // the wait.
      if (!PtInRect(&r, Input().Cursor)) {
        result = TRUE;
        break;
      }
      int button = GetSystemMetrics(SM_SWAPBUTTON) ? VK_RBUTTON : VK_LBUTTON;
      if (!(GetAsyncKeyState(button) & 0x8000)) break;
      MsgWaitForMultipleObjects(0, nullptr, FALSE, INFINITE, QS_MOUSE);
      continue;
    }
    if (m.message == WM_LBUTTONUP) break;
    if (m.message == WM_MOUSEMOVE) {
      POINT p = m.pt;
      if (!PtInRect(&r, p)) {
        result = TRUE;
        break;
      }
    }
  }
  if (GetCapture() == hwnd) ReleaseCapture();
  return result;
}

UINT GetDoubleClickTime() { return DoubleClickTime; }

BOOL SetDoubleClickTime(UINT t) {
  DoubleClickTime = t ? t : 500;
  return TRUE;
}

BOOL SwapMouseButton(BOOL fSwap) {
  BOOL old = SwappedButtons;
  SwappedButtons = fSwap != 0;
  return old;
}

namespace wnd {
bool ButtonsSwapped() { return SwappedButtons; }
}  // namespace wnd

// ---------------------------------------------------------------------------
// Cursors and icons

// A nil instance with a numeric id names the window system's own cursors;
// anything else is a cursor resource of the program, loaded once and shared.
HCURSOR LoadCursorW(HINSTANCE hInstance, LPCWSTR name) {
  if (!name) return nullptr;
  if (!hInstance && IS_INTRESOURCE(name)) {
    auto id = reinterpret_cast<uintptr_t>(name);
    if (id < 32512 || id > 32651) return nullptr;
    return StandardCursor(id);
  }
  return static_cast<HCURSOR>(LoadImageW(hInstance, name, IMAGE_CURSOR, 0, 0, LR_DEFAULTSIZE | LR_SHARED));
}

// The system icons are the graphics layer's drawings; others are icon
// resources. Both are shared, as LoadIcon's handles are.
HICON LoadIconW(HINSTANCE hInstance, LPCWSTR name) {
  return static_cast<HICON>(LoadImageW(hInstance, name, IMAGE_ICON, 0, 0, LR_DEFAULTSIZE | LR_SHARED));
}

HCURSOR SetCursor(HCURSOR h) {
  TInputState& in = Input();
  HCURSOR old = in.CurrentCursor;
  if (old != h) {
    in.CurrentCursor = h;
    if (TBackend* b = CurrentBackend()) b->CursorChanged(h);
  }
  return old;
}

HCURSOR GetCursor() { return Input().CurrentCursor; }

BOOL GetCursorPos(LPPOINT p) {
  if (!p) return FALSE;
  *p = Input().Cursor;
  return TRUE;
}

BOOL SetCursorPos(int X, int Y) {
  POINT p{X, Y};
  SIZE s = ScreenSize();
  p.x = std::clamp<LONG>(p.x, 0, s.cx - 1);
  p.y = std::clamp<LONG>(p.y, 0, s.cy - 1);
  if (TBackend* b = CurrentBackend()) b->CursorMoved(p);
  InjectMouseMove(p);
  return TRUE;
}

int ShowCursor(BOOL bShow) { return bShow ? ++CursorShowCount : --CursorShowCount; }

// ---------------------------------------------------------------------------
// Caret

BOOL CreateCaret(HWND hWnd, HBITMAP hBitmap, int nWidth, int nHeight) {
  TWnd* w = Find(hWnd);
  if (!w) return FALSE;
  DestroyCaret();
  if (hBitmap && hBitmap != reinterpret_cast<HBITMAP>(uintptr_t(1))) {
    BITMAP bm{};
    if (GetObjectW(hBitmap, sizeof bm, &bm)) {
      nWidth = bm.bmWidth;
      nHeight = bm.bmHeight;
    }
  }
  Caret.Owner = hWnd;
  Caret.Width = nWidth > 0 ? nWidth : GetSystemMetrics(SM_CXBORDER);
  Caret.Height = nHeight > 0 ? nHeight : GetSystemMetrics(SM_CYBORDER);
  Caret.Pos = POINT{0, 0};
  Caret.HideCount = 1;
  Caret.Drawn = false;
  Caret.PaintHidden = false;
  RestartBlink();
  return TRUE;
}

BOOL DestroyCaret() {
  if (!Caret.Owner) return FALSE;
  CaretOff();
  Caret.Owner = nullptr;
  return TRUE;
}

BOOL ShowCaret(HWND hWnd) {
  if (!Caret.Owner || (hWnd && hWnd != Caret.Owner)) return FALSE;
  if (Caret.HideCount > 0 && --Caret.HideCount == 0) {
    RestartBlink();
    CaretOn();
  }
  return TRUE;
}

BOOL HideCaret(HWND hWnd) {
  if (!Caret.Owner || (hWnd && hWnd != Caret.Owner)) return FALSE;
  if (Caret.HideCount++ == 0) CaretOff();
  return TRUE;
}

BOOL SetCaretPos(int X, int Y) {
  if (!Caret.Owner) return FALSE;
  if (Caret.Pos.x == X && Caret.Pos.y == Y) return TRUE;
  CaretOff();
  Caret.Pos = POINT{X, Y};
  RestartBlink();
  CaretOn();
  return TRUE;
}

BOOL GetCaretPos(LPPOINT p) {
  if (!p || !Caret.Owner) return FALSE;
  *p = Caret.Pos;
  return TRUE;
}

UINT GetCaretBlinkTime() { return Caret.BlinkTime; }

BOOL SetCaretBlinkTime(UINT ms) {
  Caret.BlinkTime = ms;
  return TRUE;
}

}  // namespace win
