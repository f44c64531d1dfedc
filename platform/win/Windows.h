// The Win32-shaped window API (namespace win): window classes and the window
// tree, the message queue and its loops, sending across threads, the
// non-client area and the standard scroll bars, painting and invalidation,
// input, focus, capture and the caret, timers, hooks, system information,
// the clipboard and message boxes.
//
// Names, structures, constants and values are the platform's. Windows belong
// to the thread that made them (the main thread); other threads may post and
// send to them. Window procedures are WNDPROC handles: a plain function or an
// object instance made by MakeObjectInstance from a TWndMethod delegate.
#pragma once

#include <cstddef>

#include "platform/classes/Delegates.h"
#include "platform/classes/Messages.h"
#include "platform/win/Gdi.h"
#include "platform/win/GdiText.h"
#include "platform/win/SysMetrics.h"
#include "platform/win/WinTypes.h"

// The method that an object instance calls: the message record, answered in
// Result.
using TWndMethod = TDelegate<void(TMessage&)>;

namespace win {

// ---------------------------------------------------------------------------
// Handle and basic types

struct HINSTANCE__;
using HINSTANCE = HINSTANCE__*;
using HMODULE = HINSTANCE;
struct HMENU__;
using HMENU = HMENU__*;
struct HMONITOR__;
using HMONITOR = HMONITOR__*;
struct HHOOK__;
using HHOOK = HHOOK__*;
struct HKL__;
using HKL = HKL__*;
using ATOM = WORD;
using HGLOBAL = void*;
using LRESULT = ::LRESULT;
using WPARAM = ::WPARAM;
using LPARAM = ::LPARAM;

constexpr WORD LOWORD(uintptr_t v) { return WORD(v & 0xFFFF); }
constexpr WORD HIWORD(uintptr_t v) { return WORD((v >> 16) & 0xFFFF); }
constexpr BYTE LOBYTE(uintptr_t v) { return BYTE(v & 0xFF); }
constexpr BYTE HIBYTE(uintptr_t v) { return BYTE((v >> 8) & 0xFF); }
constexpr DWORD MAKELONG(WORD lo, WORD hi) { return DWORD(lo) | (DWORD(hi) << 16); }
constexpr WPARAM MAKEWPARAM(WORD lo, WORD hi) { return WPARAM(MAKELONG(lo, hi)); }
constexpr LPARAM MAKELPARAM(WORD lo, WORD hi) { return LPARAM(MAKELONG(lo, hi)); }
constexpr LRESULT MAKELRESULT(WORD lo, WORD hi) { return LRESULT(MAKELONG(lo, hi)); }
// The signed coordinates of a mouse message's lParam.
constexpr int GET_X_LPARAM(LPARAM lp) { return int(SHORT(WORD(uintptr_t(lp) & 0xFFFF))); }
constexpr int GET_Y_LPARAM(LPARAM lp) { return int(SHORT(WORD((uintptr_t(lp) >> 16) & 0xFFFF))); }
constexpr SHORT GET_WHEEL_DELTA_WPARAM(WPARAM wp) { return SHORT(HIWORD(wp)); }
constexpr WORD GET_KEYSTATE_WPARAM(WPARAM wp) { return LOWORD(wp); }
constexpr WORD GET_XBUTTON_WPARAM(WPARAM wp) { return HIWORD(wp); }
inline LPCWSTR MAKEINTRESOURCEW(uintptr_t i) { return reinterpret_cast<LPCWSTR>(i & 0xFFFF); }
inline LPCWSTR MAKEINTATOM(uintptr_t i) { return reinterpret_cast<LPCWSTR>(i & 0xFFFF); }
inline bool IS_INTRESOURCE(LPCWSTR p) { return (reinterpret_cast<uintptr_t>(p) >> 16) == 0; }

// ---------------------------------------------------------------------------
// Window procedures

using WNDPROC_FN = LRESULT (*)(HWND, UINT, WPARAM, LPARAM);

// A window procedure: nil, a plain function, or an object instance made by
// MakeObjectInstance. It is one pointer wide, round-trips through a window
// long (GWLP_WNDPROC) and compares by identity.
class WNDPROC {
 public:
  constexpr WNDPROC() = default;
  constexpr WNDPROC(std::nullptr_t) {}
  WNDPROC(WNDPROC_FN fn) : FValue(reinterpret_cast<LONG_PTR>(fn)) {}

  // The window-long form and back.
  LONG_PTR ToLongPtr() const { return FValue; }
  static WNDPROC FromLongPtr(LONG_PTR v) {
    WNDPROC p;
    p.FValue = v;
    return p;
  }

  // Calls the procedure (an object instance gets the message record and
  // answers its Result); nil answers 0.
  LRESULT operator()(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) const;

  explicit operator bool() const { return FValue != 0; }
  bool operator==(const WNDPROC& o) const { return FValue == o.FValue; }
  bool operator==(std::nullptr_t) const { return FValue == 0; }
  // Whether it is an object instance.
  bool IsObjectInstance() const;

 private:
  LONG_PTR FValue = 0;
};

// An object instance: a WNDPROC that calls Method with the message record.
WNDPROC MakeObjectInstance(const TWndMethod& Method);
// Releases an instance (nil and plain functions are ignored).
void FreeObjectInstance(WNDPROC ObjectInstance);
// A hidden utility window whose procedure calls Method (none: DefWindowProcW).
HWND AllocateHWnd(const TWndMethod& Method);
void DeallocateHWnd(HWND Wnd);

LRESULT CallWindowProcW(WNDPROC lpPrevWndFunc, HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);
LRESULT DefWindowProcW(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);
inline LRESULT CallWindowProc(WNDPROC p, HWND h, UINT m, WPARAM w, LPARAM l) { return CallWindowProcW(p, h, m, w, l); }
inline LRESULT DefWindowProc(HWND h, UINT m, WPARAM w, LPARAM l) { return DefWindowProcW(h, m, w, l); }

// ---------------------------------------------------------------------------
// Messages

constexpr UINT WM_NULL = 0x0000, WM_CREATE = 0x0001, WM_DESTROY = 0x0002, WM_MOVE = 0x0003, WM_SIZE = 0x0005,
               WM_ACTIVATE = 0x0006, WM_SETFOCUS = 0x0007, WM_KILLFOCUS = 0x0008, WM_ENABLE = 0x000A,
               WM_SETREDRAW = 0x000B, WM_SETTEXT = 0x000C, WM_GETTEXT = 0x000D, WM_GETTEXTLENGTH = 0x000E,
               WM_PAINT = 0x000F, WM_CLOSE = 0x0010, WM_QUERYENDSESSION = 0x0011, WM_QUIT = 0x0012,
               WM_QUERYOPEN = 0x0013, WM_ERASEBKGND = 0x0014, WM_SYSCOLORCHANGE = 0x0015, WM_ENDSESSION = 0x0016,
               WM_SHOWWINDOW = 0x0018, WM_WININICHANGE = 0x001A, WM_SETTINGCHANGE = 0x001A,
               WM_DEVMODECHANGE = 0x001B, WM_ACTIVATEAPP = 0x001C, WM_FONTCHANGE = 0x001D,
               WM_TIMECHANGE = 0x001E, WM_CANCELMODE = 0x001F, WM_SETCURSOR = 0x0020, WM_MOUSEACTIVATE = 0x0021,
               WM_CHILDACTIVATE = 0x0022, WM_QUEUESYNC = 0x0023, WM_GETMINMAXINFO = 0x0024,
               WM_PAINTICON = 0x0026, WM_ICONERASEBKGND = 0x0027, WM_NEXTDLGCTL = 0x0028,
               WM_SPOOLERSTATUS = 0x002A, WM_DRAWITEM = 0x002B, WM_MEASUREITEM = 0x002C, WM_DELETEITEM = 0x002D,
               WM_VKEYTOITEM = 0x002E, WM_CHARTOITEM = 0x002F, WM_SETFONT = 0x0030, WM_GETFONT = 0x0031,
               WM_SETHOTKEY = 0x0032, WM_GETHOTKEY = 0x0033, WM_QUERYDRAGICON = 0x0037,
               WM_COMPAREITEM = 0x0039, WM_GETOBJECT = 0x003D, WM_COMPACTING = 0x0041,
               WM_WINDOWPOSCHANGING = 0x0046, WM_WINDOWPOSCHANGED = 0x0047, WM_POWER = 0x0048,
               WM_COPYDATA = 0x004A, WM_CANCELJOURNAL = 0x004B, WM_NOTIFY = 0x004E,
               WM_INPUTLANGCHANGEREQUEST = 0x0050, WM_INPUTLANGCHANGE = 0x0051, WM_TCARD = 0x0052,
               WM_HELP = 0x0053, WM_USERCHANGED = 0x0054, WM_NOTIFYFORMAT = 0x0055, WM_CONTEXTMENU = 0x007B,
               WM_STYLECHANGING = 0x007C, WM_STYLECHANGED = 0x007D, WM_DISPLAYCHANGE = 0x007E,
               WM_GETICON = 0x007F, WM_SETICON = 0x0080, WM_NCCREATE = 0x0081, WM_NCDESTROY = 0x0082,
               WM_NCCALCSIZE = 0x0083, WM_NCHITTEST = 0x0084, WM_NCPAINT = 0x0085, WM_NCACTIVATE = 0x0086,
               WM_GETDLGCODE = 0x0087, WM_SYNCPAINT = 0x0088, WM_NCMOUSEMOVE = 0x00A0,
               WM_NCLBUTTONDOWN = 0x00A1, WM_NCLBUTTONUP = 0x00A2, WM_NCLBUTTONDBLCLK = 0x00A3,
               WM_NCRBUTTONDOWN = 0x00A4, WM_NCRBUTTONUP = 0x00A5, WM_NCRBUTTONDBLCLK = 0x00A6,
               WM_NCMBUTTONDOWN = 0x00A7, WM_NCMBUTTONUP = 0x00A8, WM_NCMBUTTONDBLCLK = 0x00A9,
               WM_NCXBUTTONDOWN = 0x00AB, WM_NCXBUTTONUP = 0x00AC, WM_NCXBUTTONDBLCLK = 0x00AD,
               WM_INPUT = 0x00FF, WM_KEYFIRST = 0x0100, WM_KEYDOWN = 0x0100, WM_KEYUP = 0x0101,
               WM_CHAR = 0x0102, WM_DEADCHAR = 0x0103, WM_SYSKEYDOWN = 0x0104, WM_SYSKEYUP = 0x0105,
               WM_SYSCHAR = 0x0106, WM_SYSDEADCHAR = 0x0107, WM_UNICHAR = 0x0109, WM_KEYLAST = 0x0109,
               WM_IME_STARTCOMPOSITION = 0x010D, WM_IME_ENDCOMPOSITION = 0x010E, WM_IME_COMPOSITION = 0x010F,
               WM_IME_KEYLAST = 0x010F, WM_INITDIALOG = 0x0110, WM_COMMAND = 0x0111, WM_SYSCOMMAND = 0x0112,
               WM_TIMER = 0x0113, WM_HSCROLL = 0x0114, WM_VSCROLL = 0x0115, WM_INITMENU = 0x0116,
               WM_INITMENUPOPUP = 0x0117, WM_MENUSELECT = 0x011F, WM_MENUCHAR = 0x0120, WM_ENTERIDLE = 0x0121,
               WM_MENURBUTTONUP = 0x0122, WM_CHANGEUISTATE = 0x0127, WM_UPDATEUISTATE = 0x0128,
               WM_QUERYUISTATE = 0x0129, WM_CTLCOLORMSGBOX = 0x0132, WM_CTLCOLOREDIT = 0x0133,
               WM_CTLCOLORLISTBOX = 0x0134, WM_CTLCOLORBTN = 0x0135, WM_CTLCOLORDLG = 0x0136,
               WM_CTLCOLORSCROLLBAR = 0x0137, WM_CTLCOLORSTATIC = 0x0138, WM_MOUSEFIRST = 0x0200,
               WM_MOUSEMOVE = 0x0200, WM_LBUTTONDOWN = 0x0201, WM_LBUTTONUP = 0x0202, WM_LBUTTONDBLCLK = 0x0203,
               WM_RBUTTONDOWN = 0x0204, WM_RBUTTONUP = 0x0205, WM_RBUTTONDBLCLK = 0x0206,
               WM_MBUTTONDOWN = 0x0207, WM_MBUTTONUP = 0x0208, WM_MBUTTONDBLCLK = 0x0209,
               WM_MOUSEWHEEL = 0x020A, WM_XBUTTONDOWN = 0x020B, WM_XBUTTONUP = 0x020C,
               WM_XBUTTONDBLCLK = 0x020D, WM_MOUSEHWHEEL = 0x020E, WM_MOUSELAST = 0x020E,
               WM_PARENTNOTIFY = 0x0210, WM_ENTERMENULOOP = 0x0211, WM_EXITMENULOOP = 0x0212,
               WM_NEXTMENU = 0x0213, WM_SIZING = 0x0214, WM_CAPTURECHANGED = 0x0215, WM_MOVING = 0x0216,
               WM_DEVICECHANGE = 0x0219, WM_MDICREATE = 0x0220, WM_MDIDESTROY = 0x0221,
               WM_MDIACTIVATE = 0x0222, WM_MDIRESTORE = 0x0223, WM_MDINEXT = 0x0224, WM_MDIMAXIMIZE = 0x0225,
               WM_MDITILE = 0x0226, WM_MDICASCADE = 0x0227, WM_MDIICONARRANGE = 0x0228,
               WM_MDIGETACTIVE = 0x0229, WM_MDISETMENU = 0x0230, WM_ENTERSIZEMOVE = 0x0231,
               WM_EXITSIZEMOVE = 0x0232, WM_DROPFILES = 0x0233, WM_MDIREFRESHMENU = 0x0234,
               WM_IME_SETCONTEXT = 0x0281, WM_IME_NOTIFY = 0x0282, WM_IME_CONTROL = 0x0283,
               WM_IME_COMPOSITIONFULL = 0x0284, WM_IME_SELECT = 0x0285, WM_IME_CHAR = 0x0286,
               WM_IME_REQUEST = 0x0288, WM_IME_KEYDOWN = 0x0290, WM_IME_KEYUP = 0x0291,
               WM_NCMOUSEHOVER = 0x02A0, WM_MOUSEHOVER = 0x02A1, WM_NCMOUSELEAVE = 0x02A2,
               WM_MOUSELEAVE = 0x02A3, WM_CUT = 0x0300, WM_COPY = 0x0301, WM_PASTE = 0x0302, WM_CLEAR = 0x0303,
               WM_UNDO = 0x0304, WM_RENDERFORMAT = 0x0305, WM_RENDERALLFORMATS = 0x0306,
               WM_DESTROYCLIPBOARD = 0x0307, WM_DRAWCLIPBOARD = 0x0308, WM_PAINTCLIPBOARD = 0x0309,
               WM_VSCROLLCLIPBOARD = 0x030A, WM_SIZECLIPBOARD = 0x030B, WM_ASKCBFORMATNAME = 0x030C,
               WM_CHANGECBCHAIN = 0x030D, WM_HSCROLLCLIPBOARD = 0x030E, WM_QUERYNEWPALETTE = 0x030F,
               WM_PALETTEISCHANGING = 0x0310, WM_PALETTECHANGED = 0x0311, WM_HOTKEY = 0x0312,
               WM_PRINT = 0x0317, WM_PRINTCLIENT = 0x0318, WM_APPCOMMAND = 0x0319, WM_THEMECHANGED = 0x031A,
               WM_CLIPBOARDUPDATE = 0x031D, WM_DWMCOMPOSITIONCHANGED = 0x031E, WM_USER = 0x0400,
               WM_APP = 0x8000;

// WM_ACTIVATE
constexpr WORD WA_INACTIVE = 0, WA_ACTIVE = 1, WA_CLICKACTIVE = 2;
// WM_MOUSEACTIVATE answers
constexpr LRESULT MA_ACTIVATE = 1, MA_ACTIVATEANDEAT = 2, MA_NOACTIVATE = 3, MA_NOACTIVATEANDEAT = 4;
// WM_SIZE
constexpr WPARAM SIZE_RESTORED = 0, SIZE_MINIMIZED = 1, SIZE_MAXIMIZED = 2, SIZE_MAXSHOW = 3, SIZE_MAXHIDE = 4;
// WM_SHOWWINDOW lParam
constexpr LPARAM SW_PARENTCLOSING = 1, SW_OTHERZOOM = 2, SW_PARENTOPENING = 3, SW_OTHERUNZOOM = 4;
// WM_SIZING edges
constexpr WPARAM WMSZ_LEFT = 1, WMSZ_RIGHT = 2, WMSZ_TOP = 3, WMSZ_TOPLEFT = 4, WMSZ_TOPRIGHT = 5,
                 WMSZ_BOTTOM = 6, WMSZ_BOTTOMLEFT = 7, WMSZ_BOTTOMRIGHT = 8;
// WM_NCCALCSIZE answers
constexpr LRESULT WVR_ALIGNTOP = 0x10, WVR_ALIGNLEFT = 0x20, WVR_ALIGNBOTTOM = 0x40, WVR_ALIGNRIGHT = 0x80,
                  WVR_HREDRAW = 0x100, WVR_VREDRAW = 0x200, WVR_REDRAW = 0x300, WVR_VALIDRECTS = 0x400;
// WM_NCHITTEST answers
constexpr LRESULT HTERROR = -2, HTTRANSPARENT = -1, HTNOWHERE = 0, HTCLIENT = 1, HTCAPTION = 2, HTSYSMENU = 3,
                  HTGROWBOX = 4, HTSIZE = 4, HTMENU = 5, HTHSCROLL = 6, HTVSCROLL = 7, HTMINBUTTON = 8,
                  HTREDUCE = 8, HTMAXBUTTON = 9, HTZOOM = 9, HTLEFT = 10, HTRIGHT = 11, HTTOP = 12,
                  HTTOPLEFT = 13, HTTOPRIGHT = 14, HTBOTTOM = 15, HTBOTTOMLEFT = 16, HTBOTTOMRIGHT = 17,
                  HTBORDER = 18, HTOBJECT = 19, HTCLOSE = 20, HTHELP = 21;
// Mouse key flags (wParam of mouse messages)
constexpr WPARAM MK_LBUTTON = 0x0001, MK_RBUTTON = 0x0002, MK_SHIFT = 0x0004, MK_CONTROL = 0x0008,
                 MK_MBUTTON = 0x0010, MK_XBUTTON1 = 0x0020, MK_XBUTTON2 = 0x0040;
constexpr WORD XBUTTON1 = 0x0001, XBUTTON2 = 0x0002;
constexpr int WHEEL_DELTA = 120;
constexpr UINT WHEEL_PAGESCROLL = 0xFFFFFFFFu;
// Keystroke flags (the high word of a key message's lParam)
constexpr WORD KF_EXTENDED = 0x0100, KF_DLGMODE = 0x0800, KF_MENUMODE = 0x1000, KF_ALTDOWN = 0x2000,
               KF_REPEAT = 0x4000, KF_UP = 0x8000;
// WM_SYSCOMMAND
constexpr WPARAM SC_SIZE = 0xF000, SC_MOVE = 0xF010, SC_MINIMIZE = 0xF020, SC_MAXIMIZE = 0xF030,
                 SC_NEXTWINDOW = 0xF040, SC_PREVWINDOW = 0xF050, SC_CLOSE = 0xF060, SC_VSCROLL = 0xF070,
                 SC_HSCROLL = 0xF080, SC_MOUSEMENU = 0xF090, SC_KEYMENU = 0xF100, SC_RESTORE = 0xF120,
                 SC_TASKLIST = 0xF130, SC_SCREENSAVE = 0xF140, SC_HOTKEY = 0xF150, SC_DEFAULT = 0xF160,
                 SC_MONITORPOWER = 0xF170, SC_CONTEXTHELP = 0xF180;
// WM_GETDLGCODE answers
constexpr LRESULT DLGC_WANTARROWS = 0x0001, DLGC_WANTTAB = 0x0002, DLGC_WANTALLKEYS = 0x0004,
                  DLGC_WANTMESSAGE = 0x0004, DLGC_HASSETSEL = 0x0008, DLGC_DEFPUSHBUTTON = 0x0010,
                  DLGC_UNDEFPUSHBUTTON = 0x0020, DLGC_RADIOBUTTON = 0x0040, DLGC_WANTCHARS = 0x0080,
                  DLGC_STATIC = 0x0100, DLGC_BUTTON = 0x2000;
// WM_GETICON / WM_SETICON
constexpr WPARAM ICON_SMALL = 0, ICON_BIG = 1, ICON_SMALL2 = 2;
// WM_PRINT flags
constexpr LPARAM PRF_CHECKVISIBLE = 0x01, PRF_NONCLIENT = 0x02, PRF_CLIENT = 0x04, PRF_ERASEBKGND = 0x08,
                 PRF_CHILDREN = 0x10, PRF_OWNED = 0x20;
// WM_CHANGEUISTATE / WM_UPDATEUISTATE
constexpr WORD UIS_SET = 1, UIS_CLEAR = 2, UIS_INITIALIZE = 3;
constexpr WORD UISF_HIDEFOCUS = 0x1, UISF_HIDEACCEL = 0x2, UISF_ACTIVE = 0x4;
// WM_SETTINGCHANGE / SystemParametersInfoW
constexpr UINT SPI_GETBEEP = 0x0001, SPI_GETMOUSE = 0x0003, SPI_GETBORDER = 0x0005,
               SPI_GETKEYBOARDSPEED = 0x000A, SPI_ICONHORIZONTALSPACING = 0x000D,
               SPI_GETSCREENSAVETIMEOUT = 0x000E, SPI_GETKEYBOARDDELAY = 0x0016,
               SPI_ICONVERTICALSPACING = 0x0018, SPI_GETICONTITLEWRAP = 0x0019,
               SPI_GETMENUDROPALIGNMENT = 0x001B, SPI_SETDOUBLECLKWIDTH = 0x001D,
               SPI_SETDOUBLECLKHEIGHT = 0x001E,
               SPI_SETDOUBLECLICKTIME = 0x0020, SPI_GETDRAGFULLWINDOWS = 0x0026,
               SPI_SETNONCLIENTMETRICS = 0x002A,
               SPI_GETICONMETRICS = 0x002D, SPI_SETWORKAREA = 0x002F, SPI_GETWORKAREA = 0x0030,
               SPI_GETHIGHCONTRAST = 0x0042, SPI_GETKEYBOARDPREF = 0x0044, SPI_GETSCREENREADER = 0x0046,
               SPI_GETANIMATION = 0x0048, SPI_GETFONTSMOOTHING = 0x004A, SPI_GETMOUSEHOVERWIDTH = 0x0062,
               SPI_GETMOUSEHOVERHEIGHT = 0x0064, SPI_GETMOUSEHOVERTIME = 0x0066,
               SPI_GETWHEELSCROLLLINES = 0x0068, SPI_SETWHEELSCROLLLINES = 0x0069,
               SPI_GETMENUSHOWDELAY = 0x006A, SPI_GETWHEELSCROLLCHARS = 0x006C, SPI_GETSHOWIMEUI = 0x006E,
               SPI_GETMOUSESPEED = 0x0070, SPI_GETSCREENSAVERRUNNING = 0x0072,
               SPI_GETACTIVEWINDOWTRACKING = 0x1000, SPI_GETMENUANIMATION = 0x1002,
               SPI_GETCOMBOBOXANIMATION = 0x1004, SPI_GETLISTBOXSMOOTHSCROLLING = 0x1006,
               SPI_GETGRADIENTCAPTIONS = 0x1008, SPI_GETKEYBOARDCUES = 0x100A, SPI_GETMENUUNDERLINES = 0x100A,
               SPI_GETACTIVEWNDTRKZORDER = 0x100C, SPI_GETHOTTRACKING = 0x100E, SPI_GETMENUFADE = 0x1012,
               SPI_GETSELECTIONFADE = 0x1014, SPI_GETTOOLTIPANIMATION = 0x1016, SPI_GETTOOLTIPFADE = 0x1018,
               SPI_GETCURSORSHADOW = 0x101A, SPI_GETFLATMENU = 0x1022, SPI_GETDROPSHADOW = 0x1024,
               SPI_GETUIEFFECTS = 0x103E, SPI_GETFOREGROUNDLOCKTIMEOUT = 0x2000,
               SPI_GETCARETWIDTH = 0x2006, SPI_GETFONTSMOOTHINGTYPE = 0x200A,
               SPI_GETFONTSMOOTHINGCONTRAST = 0x200C, SPI_GETFOCUSBORDERWIDTH = 0x200E,
               SPI_GETFOCUSBORDERHEIGHT = 0x2010;
constexpr UINT SPIF_UPDATEINIFILE = 0x1, SPIF_SENDCHANGE = 0x2, SPIF_SENDWININICHANGE = 0x2;

// Window styles
constexpr DWORD WS_OVERLAPPED = 0x00000000u, WS_POPUP = 0x80000000u, WS_CHILD = 0x40000000u,
                WS_MINIMIZE = 0x20000000u, WS_VISIBLE = 0x10000000u, WS_DISABLED = 0x08000000u,
                WS_CLIPSIBLINGS = 0x04000000u, WS_CLIPCHILDREN = 0x02000000u, WS_MAXIMIZE = 0x01000000u,
                WS_CAPTION = 0x00C00000u, WS_BORDER = 0x00800000u, WS_DLGFRAME = 0x00400000u,
                WS_VSCROLL = 0x00200000u, WS_HSCROLL = 0x00100000u, WS_SYSMENU = 0x00080000u,
                WS_THICKFRAME = 0x00040000u, WS_GROUP = 0x00020000u, WS_TABSTOP = 0x00010000u,
                WS_MINIMIZEBOX = 0x00020000u, WS_MAXIMIZEBOX = 0x00010000u, WS_TILED = WS_OVERLAPPED,
                WS_ICONIC = WS_MINIMIZE, WS_SIZEBOX = WS_THICKFRAME,
                WS_OVERLAPPEDWINDOW = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX |
                                      WS_MAXIMIZEBOX,
                WS_TILEDWINDOW = WS_OVERLAPPEDWINDOW, WS_POPUPWINDOW = WS_POPUP | WS_BORDER | WS_SYSMENU,
                WS_CHILDWINDOW = WS_CHILD;
constexpr DWORD WS_EX_DLGMODALFRAME = 0x00000001u, WS_EX_NOPARENTNOTIFY = 0x00000004u,
                WS_EX_TOPMOST = 0x00000008u, WS_EX_ACCEPTFILES = 0x00000010u, WS_EX_TRANSPARENT = 0x00000020u,
                WS_EX_MDICHILD = 0x00000040u, WS_EX_TOOLWINDOW = 0x00000080u, WS_EX_WINDOWEDGE = 0x00000100u,
                WS_EX_CLIENTEDGE = 0x00000200u, WS_EX_CONTEXTHELP = 0x00000400u, WS_EX_RIGHT = 0x00001000u,
                WS_EX_LEFT = 0, WS_EX_RTLREADING = 0x00002000u, WS_EX_LTRREADING = 0,
                WS_EX_LEFTSCROLLBAR = 0x00004000u, WS_EX_RIGHTSCROLLBAR = 0, WS_EX_CONTROLPARENT = 0x00010000u,
                WS_EX_STATICEDGE = 0x00020000u, WS_EX_APPWINDOW = 0x00040000u,
                WS_EX_OVERLAPPEDWINDOW = WS_EX_WINDOWEDGE | WS_EX_CLIENTEDGE,
                WS_EX_PALETTEWINDOW = WS_EX_WINDOWEDGE | WS_EX_TOOLWINDOW | WS_EX_TOPMOST,
                WS_EX_LAYERED = 0x00080000u, WS_EX_NOINHERITLAYOUT = 0x00100000u,
                WS_EX_LAYOUTRTL = 0x00400000u, WS_EX_COMPOSITED = 0x02000000u, WS_EX_NOACTIVATE = 0x08000000u;
// Class styles
constexpr UINT CS_VREDRAW = 0x0001, CS_HREDRAW = 0x0002, CS_DBLCLKS = 0x0008, CS_OWNDC = 0x0020,
               CS_CLASSDC = 0x0040, CS_PARENTDC = 0x0080, CS_NOCLOSE = 0x0200, CS_SAVEBITS = 0x0800,
               CS_BYTEALIGNCLIENT = 0x1000, CS_BYTEALIGNWINDOW = 0x2000, CS_GLOBALCLASS = 0x4000,
               CS_DROPSHADOW = 0x00020000;

constexpr int CW_USEDEFAULT = int(0x80000000u);

// Window longs and class longs
constexpr int GWL_WNDPROC = -4, GWL_HINSTANCE = -6, GWL_HWNDPARENT = -8, GWL_STYLE = -16, GWL_EXSTYLE = -20,
              GWL_USERDATA = -21, GWL_ID = -12;
constexpr int GWLP_WNDPROC = -4, GWLP_HINSTANCE = -6, GWLP_HWNDPARENT = -8, GWLP_USERDATA = -21, GWLP_ID = -12;
constexpr int GCL_MENUNAME = -8, GCL_HBRBACKGROUND = -10, GCL_HCURSOR = -12, GCL_HICON = -14,
              GCL_HMODULE = -16, GCL_CBWNDEXTRA = -18, GCL_CBCLSEXTRA = -20, GCL_WNDPROC = -24, GCL_STYLE = -26,
              GCW_ATOM = -32, GCL_HICONSM = -34;
constexpr int GCLP_MENUNAME = -8, GCLP_HBRBACKGROUND = -10, GCLP_HCURSOR = -12, GCLP_HICON = -14,
              GCLP_HMODULE = -16, GCLP_WNDPROC = -24, GCLP_HICONSM = -34;

// GetWindow
constexpr UINT GW_HWNDFIRST = 0, GW_HWNDLAST = 1, GW_HWNDNEXT = 2, GW_HWNDPREV = 3, GW_OWNER = 4, GW_CHILD = 5,
               GW_ENABLEDPOPUP = 6;
// GetAncestor
constexpr UINT GA_PARENT = 1, GA_ROOT = 2, GA_ROOTOWNER = 3;
// ChildWindowFromPointEx
constexpr UINT CWP_ALL = 0x0000, CWP_SKIPINVISIBLE = 0x0001, CWP_SKIPDISABLED = 0x0002,
               CWP_SKIPTRANSPARENT = 0x0004;

// ShowWindow
constexpr int SW_HIDE = 0, SW_SHOWNORMAL = 1, SW_NORMAL = 1, SW_SHOWMINIMIZED = 2, SW_SHOWMAXIMIZED = 3,
              SW_MAXIMIZE = 3, SW_SHOWNOACTIVATE = 4, SW_SHOW = 5, SW_MINIMIZE = 6, SW_SHOWMINNOACTIVE = 7,
              SW_SHOWNA = 8, SW_RESTORE = 9, SW_SHOWDEFAULT = 10, SW_FORCEMINIMIZE = 11;
// ScrollWindowEx
constexpr UINT SW_SCROLLCHILDREN = 0x0001, SW_INVALIDATE = 0x0002, SW_ERASE = 0x0004, SW_SMOOTHSCROLL = 0x0010;

// SetWindowPos
constexpr UINT SWP_NOSIZE = 0x0001, SWP_NOMOVE = 0x0002, SWP_NOZORDER = 0x0004, SWP_NOREDRAW = 0x0008,
               SWP_NOACTIVATE = 0x0010, SWP_FRAMECHANGED = 0x0020, SWP_SHOWWINDOW = 0x0040,
               SWP_HIDEWINDOW = 0x0080, SWP_NOCOPYBITS = 0x0100, SWP_NOOWNERZORDER = 0x0200,
               SWP_NOSENDCHANGING = 0x0400, SWP_DRAWFRAME = SWP_FRAMECHANGED, SWP_NOREPOSITION = SWP_NOOWNERZORDER,
               SWP_DEFERERASE = 0x2000, SWP_ASYNCWINDOWPOS = 0x4000;
inline const HWND HWND_TOP = reinterpret_cast<HWND>(intptr_t(0));
inline const HWND HWND_BOTTOM = reinterpret_cast<HWND>(intptr_t(1));
inline const HWND HWND_TOPMOST = reinterpret_cast<HWND>(intptr_t(-1));
inline const HWND HWND_NOTOPMOST = reinterpret_cast<HWND>(intptr_t(-2));
inline const HWND HWND_MESSAGE = reinterpret_cast<HWND>(intptr_t(-3));
inline const HWND HWND_BROADCAST = reinterpret_cast<HWND>(intptr_t(0xFFFF));

// RedrawWindow
constexpr UINT RDW_INVALIDATE = 0x0001, RDW_INTERNALPAINT = 0x0002, RDW_ERASE = 0x0004, RDW_VALIDATE = 0x0008,
               RDW_NOINTERNALPAINT = 0x0010, RDW_NOERASE = 0x0020, RDW_NOCHILDREN = 0x0040,
               RDW_ALLCHILDREN = 0x0080, RDW_UPDATENOW = 0x0100, RDW_ERASENOW = 0x0200, RDW_FRAME = 0x0400,
               RDW_NOFRAME = 0x0800;
// GetDCEx
constexpr DWORD DCX_WINDOW = 0x00000001, DCX_CACHE = 0x00000002, DCX_NORESETATTRS = 0x00000004,
                DCX_CLIPCHILDREN = 0x00000008, DCX_CLIPSIBLINGS = 0x00000010, DCX_PARENTCLIP = 0x00000020,
                DCX_EXCLUDERGN = 0x00000040, DCX_INTERSECTRGN = 0x00000080, DCX_EXCLUDEUPDATE = 0x00000100,
                DCX_INTERSECTUPDATE = 0x00000200, DCX_LOCKWINDOWUPDATE = 0x00000400,
                DCX_VALIDATE = 0x00200000;

// Scroll bars
constexpr int SB_HORZ = 0, SB_VERT = 1, SB_CTL = 2, SB_BOTH = 3;
constexpr WORD SB_LINEUP = 0, SB_LINELEFT = 0, SB_LINEDOWN = 1, SB_LINERIGHT = 1, SB_PAGEUP = 2, SB_PAGELEFT = 2,
               SB_PAGEDOWN = 3, SB_PAGERIGHT = 3, SB_THUMBPOSITION = 4, SB_THUMBTRACK = 5, SB_TOP = 6,
               SB_LEFT = 6, SB_BOTTOM = 7, SB_RIGHT = 7, SB_ENDSCROLL = 8;
constexpr UINT SIF_RANGE = 0x0001, SIF_PAGE = 0x0002, SIF_POS = 0x0004, SIF_DISABLENOSCROLL = 0x0008,
               SIF_TRACKPOS = 0x0010, SIF_ALL = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_TRACKPOS;
constexpr UINT ESB_ENABLE_BOTH = 0x0000, ESB_DISABLE_BOTH = 0x0003, ESB_DISABLE_LEFT = 0x0001,
               ESB_DISABLE_RIGHT = 0x0002, ESB_DISABLE_UP = 0x0001, ESB_DISABLE_DOWN = 0x0002,
               ESB_DISABLE_LTUP = 0x0001, ESB_DISABLE_RTDN = 0x0002;
constexpr LONG OBJID_WINDOW = 0, OBJID_SYSMENU = -1, OBJID_TITLEBAR = -2, OBJID_MENU = -3, OBJID_CLIENT = -4,
               OBJID_VSCROLL = -5, OBJID_HSCROLL = -6, OBJID_SIZEGRIP = -7, OBJID_CARET = -8,
               OBJID_CURSOR = -9, OBJID_ALERT = -10, OBJID_SOUND = -11;
constexpr DWORD STATE_SYSTEM_UNAVAILABLE = 0x00000001, STATE_SYSTEM_PRESSED = 0x00000008,
                STATE_SYSTEM_INVISIBLE = 0x00008000, STATE_SYSTEM_OFFSCREEN = 0x00010000;
constexpr int CCHILDREN_SCROLLBAR = 5;

// Queue status, waits and PeekMessage
constexpr UINT QS_KEY = 0x0001, QS_MOUSEMOVE = 0x0002, QS_MOUSEBUTTON = 0x0004, QS_POSTMESSAGE = 0x0008,
               QS_TIMER = 0x0010, QS_PAINT = 0x0020, QS_SENDMESSAGE = 0x0040, QS_HOTKEY = 0x0080,
               QS_ALLPOSTMESSAGE = 0x0100, QS_RAWINPUT = 0x0400, QS_MOUSE = QS_MOUSEMOVE | QS_MOUSEBUTTON,
               QS_INPUT = QS_MOUSE | QS_KEY | QS_RAWINPUT,
               QS_ALLEVENTS = QS_INPUT | QS_POSTMESSAGE | QS_TIMER | QS_PAINT | QS_HOTKEY,
               QS_ALLINPUT = QS_ALLEVENTS | QS_SENDMESSAGE;
constexpr UINT PM_NOREMOVE = 0x0000, PM_REMOVE = 0x0001, PM_NOYIELD = 0x0002, PM_QS_INPUT = QS_INPUT << 16,
               PM_QS_POSTMESSAGE = (QS_POSTMESSAGE | QS_HOTKEY | QS_TIMER) << 16, PM_QS_PAINT = QS_PAINT << 16,
               PM_QS_SENDMESSAGE = QS_SENDMESSAGE << 16;
constexpr DWORD MWMO_WAITALL = 0x0001, MWMO_ALERTABLE = 0x0002, MWMO_INPUTAVAILABLE = 0x0004;
// InSendMessageEx
constexpr DWORD ISMEX_NOSEND = 0, ISMEX_SEND = 1, ISMEX_NOTIFY = 2, ISMEX_CALLBACK = 4, ISMEX_REPLIED = 8;
// SendMessageTimeoutW
constexpr UINT SMTO_NORMAL = 0x0000, SMTO_BLOCK = 0x0001, SMTO_ABORTIFHUNG = 0x0002,
               SMTO_NOTIMEOUTIFNOTHUNG = 0x0008;

// Hooks
constexpr int WH_MSGFILTER = -1, WH_JOURNALRECORD = 0, WH_JOURNALPLAYBACK = 1, WH_KEYBOARD = 2,
              WH_GETMESSAGE = 3, WH_CALLWNDPROC = 4, WH_CBT = 5, WH_SYSMSGFILTER = 6, WH_MOUSE = 7, WH_DEBUG = 9,
              WH_SHELL = 10, WH_FOREGROUNDIDLE = 11, WH_CALLWNDPROCRET = 12, WH_KEYBOARD_LL = 13,
              WH_MOUSE_LL = 14;
constexpr int HC_ACTION = 0, HC_GETNEXT = 1, HC_SKIP = 2, HC_NOREMOVE = 3;

// TrackMouseEvent
constexpr DWORD TME_HOVER = 0x00000001, TME_LEAVE = 0x00000002, TME_NONCLIENT = 0x00000010,
                TME_QUERY = 0x40000000, TME_CANCEL = 0x80000000, HOVER_DEFAULT = 0xFFFFFFFF;

// Timers
constexpr UINT USER_TIMER_MINIMUM = 0x0000000A, USER_TIMER_MAXIMUM = 0x7FFFFFFF;

// Virtual keys
constexpr int VK_LBUTTON = 0x01, VK_RBUTTON = 0x02, VK_CANCEL = 0x03, VK_MBUTTON = 0x04, VK_XBUTTON1 = 0x05,
              VK_XBUTTON2 = 0x06, VK_BACK = 0x08, VK_TAB = 0x09, VK_CLEAR = 0x0C, VK_RETURN = 0x0D,
              VK_SHIFT = 0x10, VK_CONTROL = 0x11, VK_MENU = 0x12, VK_PAUSE = 0x13, VK_CAPITAL = 0x14,
              VK_KANA = 0x15, VK_JUNJA = 0x17, VK_FINAL = 0x18, VK_KANJI = 0x19, VK_ESCAPE = 0x1B,
              VK_CONVERT = 0x1C, VK_NONCONVERT = 0x1D, VK_ACCEPT = 0x1E, VK_MODECHANGE = 0x1F, VK_SPACE = 0x20,
              VK_PRIOR = 0x21, VK_NEXT = 0x22, VK_END = 0x23, VK_HOME = 0x24, VK_LEFT = 0x25, VK_UP = 0x26,
              VK_RIGHT = 0x27, VK_DOWN = 0x28, VK_SELECT = 0x29, VK_PRINT = 0x2A, VK_EXECUTE = 0x2B,
              VK_SNAPSHOT = 0x2C, VK_INSERT = 0x2D, VK_DELETE = 0x2E, VK_HELP = 0x2F, VK_LWIN = 0x5B,
              VK_RWIN = 0x5C, VK_APPS = 0x5D, VK_SLEEP = 0x5F, VK_NUMPAD0 = 0x60, VK_NUMPAD1 = 0x61,
              VK_NUMPAD2 = 0x62, VK_NUMPAD3 = 0x63, VK_NUMPAD4 = 0x64, VK_NUMPAD5 = 0x65, VK_NUMPAD6 = 0x66,
              VK_NUMPAD7 = 0x67, VK_NUMPAD8 = 0x68, VK_NUMPAD9 = 0x69, VK_MULTIPLY = 0x6A, VK_ADD = 0x6B,
              VK_SEPARATOR = 0x6C, VK_SUBTRACT = 0x6D, VK_DECIMAL = 0x6E, VK_DIVIDE = 0x6F, VK_F1 = 0x70,
              VK_F2 = 0x71, VK_F3 = 0x72, VK_F4 = 0x73, VK_F5 = 0x74, VK_F6 = 0x75, VK_F7 = 0x76, VK_F8 = 0x77,
              VK_F9 = 0x78, VK_F10 = 0x79, VK_F11 = 0x7A, VK_F12 = 0x7B, VK_F13 = 0x7C, VK_F14 = 0x7D,
              VK_F15 = 0x7E, VK_F16 = 0x7F, VK_F17 = 0x80, VK_F18 = 0x81, VK_F19 = 0x82, VK_F20 = 0x83,
              VK_F21 = 0x84, VK_F22 = 0x85, VK_F23 = 0x86, VK_F24 = 0x87, VK_NUMLOCK = 0x90, VK_SCROLL = 0x91,
              VK_LSHIFT = 0xA0, VK_RSHIFT = 0xA1, VK_LCONTROL = 0xA2, VK_RCONTROL = 0xA3, VK_LMENU = 0xA4,
              VK_RMENU = 0xA5, VK_BROWSER_BACK = 0xA6, VK_BROWSER_FORWARD = 0xA7, VK_VOLUME_MUTE = 0xAD,
              VK_VOLUME_DOWN = 0xAE, VK_VOLUME_UP = 0xAF, VK_OEM_1 = 0xBA, VK_OEM_PLUS = 0xBB,
              VK_OEM_COMMA = 0xBC, VK_OEM_MINUS = 0xBD, VK_OEM_PERIOD = 0xBE, VK_OEM_2 = 0xBF,
              VK_OEM_3 = 0xC0, VK_OEM_4 = 0xDB, VK_OEM_5 = 0xDC, VK_OEM_6 = 0xDD, VK_OEM_7 = 0xDE,
              VK_OEM_8 = 0xDF, VK_OEM_102 = 0xE2, VK_PROCESSKEY = 0xE5, VK_PACKET = 0xE7, VK_ATTN = 0xF6,
              VK_CRSEL = 0xF7, VK_EXSEL = 0xF8, VK_EREOF = 0xF9, VK_PLAY = 0xFA, VK_ZOOM = 0xFB,
              VK_NONAME = 0xFC, VK_PA1 = 0xFD, VK_OEM_CLEAR = 0xFE;
// MapVirtualKeyW
constexpr UINT MAPVK_VK_TO_VSC = 0, MAPVK_VSC_TO_VK = 1, MAPVK_VK_TO_CHAR = 2, MAPVK_VSC_TO_VK_EX = 3;
// Keyboard layouts (LoadKeyboardLayoutW names and HKL values)
inline const HKL HKL_US = reinterpret_cast<HKL>(uintptr_t(0x04090409));
inline const HKL HKL_TURKISH_Q = reinterpret_cast<HKL>(uintptr_t(0x041F041F));
constexpr UINT KLF_ACTIVATE = 0x00000001;

// Cursors and icons
inline LPCWSTR const IDC_ARROW = MAKEINTRESOURCEW(32512);
inline LPCWSTR const IDC_IBEAM = MAKEINTRESOURCEW(32513);
inline LPCWSTR const IDC_WAIT = MAKEINTRESOURCEW(32514);
inline LPCWSTR const IDC_CROSS = MAKEINTRESOURCEW(32515);
inline LPCWSTR const IDC_UPARROW = MAKEINTRESOURCEW(32516);
inline LPCWSTR const IDC_SIZE = MAKEINTRESOURCEW(32640);
inline LPCWSTR const IDC_ICON = MAKEINTRESOURCEW(32641);
inline LPCWSTR const IDC_SIZENWSE = MAKEINTRESOURCEW(32642);
inline LPCWSTR const IDC_SIZENESW = MAKEINTRESOURCEW(32643);
inline LPCWSTR const IDC_SIZEWE = MAKEINTRESOURCEW(32644);
inline LPCWSTR const IDC_SIZENS = MAKEINTRESOURCEW(32645);
inline LPCWSTR const IDC_SIZEALL = MAKEINTRESOURCEW(32646);
inline LPCWSTR const IDC_NO = MAKEINTRESOURCEW(32648);
inline LPCWSTR const IDC_HAND = MAKEINTRESOURCEW(32649);
inline LPCWSTR const IDC_APPSTARTING = MAKEINTRESOURCEW(32650);
inline LPCWSTR const IDC_HELP = MAKEINTRESOURCEW(32651);
inline LPCWSTR const IDI_APPLICATION = MAKEINTRESOURCEW(32512);
inline LPCWSTR const IDI_HAND = MAKEINTRESOURCEW(32513);
inline LPCWSTR const IDI_QUESTION = MAKEINTRESOURCEW(32514);
inline LPCWSTR const IDI_EXCLAMATION = MAKEINTRESOURCEW(32515);
inline LPCWSTR const IDI_ASTERISK = MAKEINTRESOURCEW(32516);
inline LPCWSTR const IDI_WINLOGO = MAKEINTRESOURCEW(32517);
inline LPCWSTR const IDI_WARNING = MAKEINTRESOURCEW(32515);
inline LPCWSTR const IDI_ERROR = MAKEINTRESOURCEW(32513);
inline LPCWSTR const IDI_INFORMATION = MAKEINTRESOURCEW(32516);

// Layered and animated windows
constexpr DWORD LWA_COLORKEY = 0x00000001, LWA_ALPHA = 0x00000002;
constexpr DWORD ULW_COLORKEY = 0x00000001, ULW_ALPHA = 0x00000002, ULW_OPAQUE = 0x00000004;
constexpr DWORD AW_HOR_POSITIVE = 0x00000001, AW_HOR_NEGATIVE = 0x00000002, AW_VER_POSITIVE = 0x00000004,
                AW_VER_NEGATIVE = 0x00000008, AW_CENTER = 0x00000010, AW_HIDE = 0x00010000,
                AW_ACTIVATE = 0x00020000, AW_SLIDE = 0x00040000, AW_BLEND = 0x00080000;

// Monitors
constexpr DWORD MONITOR_DEFAULTTONULL = 0, MONITOR_DEFAULTTOPRIMARY = 1, MONITOR_DEFAULTTONEAREST = 2;
constexpr DWORD MONITORINFOF_PRIMARY = 1;

// Message boxes
constexpr UINT MB_OK = 0x00000000, MB_OKCANCEL = 0x00000001, MB_ABORTRETRYIGNORE = 0x00000002,
               MB_YESNOCANCEL = 0x00000003, MB_YESNO = 0x00000004, MB_RETRYCANCEL = 0x00000005,
               MB_CANCELTRYCONTINUE = 0x00000006, MB_ICONHAND = 0x00000010, MB_ICONERROR = 0x00000010,
               MB_ICONSTOP = 0x00000010, MB_ICONQUESTION = 0x00000020, MB_ICONEXCLAMATION = 0x00000030,
               MB_ICONWARNING = 0x00000030, MB_ICONASTERISK = 0x00000040, MB_ICONINFORMATION = 0x00000040,
               MB_DEFBUTTON1 = 0x00000000, MB_DEFBUTTON2 = 0x00000100, MB_DEFBUTTON3 = 0x00000200,
               MB_DEFBUTTON4 = 0x00000300, MB_APPLMODAL = 0x00000000, MB_SYSTEMMODAL = 0x00001000,
               MB_TASKMODAL = 0x00002000, MB_HELP = 0x00004000, MB_SETFOREGROUND = 0x00010000,
               MB_TOPMOST = 0x00040000, MB_TYPEMASK = 0x0000000F, MB_ICONMASK = 0x000000F0,
               MB_DEFMASK = 0x00000F00;
constexpr int IDOK = 1, IDCANCEL = 2, IDABORT = 3, IDRETRY = 4, IDIGNORE = 5, IDYES = 6, IDNO = 7, IDCLOSE = 8,
              IDHELP = 9, IDTRYAGAIN = 10, IDCONTINUE = 11;

// Clipboard formats and global memory
constexpr UINT CF_TEXT = 1, CF_BITMAP = 2, CF_METAFILEPICT = 3, CF_SYLK = 4, CF_DIF = 5, CF_TIFF = 6,
               CF_OEMTEXT = 7, CF_DIB = 8, CF_PALETTE = 9, CF_PENDATA = 10, CF_RIFF = 11, CF_WAVE = 12,
               CF_UNICODETEXT = 13, CF_ENHMETAFILE = 14, CF_HDROP = 15, CF_LOCALE = 16, CF_DIBV5 = 17;
constexpr UINT GMEM_FIXED = 0x0000, GMEM_MOVEABLE = 0x0002, GMEM_ZEROINIT = 0x0040, GMEM_DDESHARE = 0x2000,
               GMEM_SHARE = 0x2000, GHND = GMEM_MOVEABLE | GMEM_ZEROINIT, GPTR = GMEM_FIXED | GMEM_ZEROINIT;

// Version
constexpr DWORD VER_PLATFORM_WIN32s = 0, VER_PLATFORM_WIN32_WINDOWS = 1, VER_PLATFORM_WIN32_NT = 2;

// ---------------------------------------------------------------------------
// Structures

struct WNDCLASSEXW {
  UINT cbSize{};
  UINT style{};
  WNDPROC lpfnWndProc;
  int cbClsExtra{};
  int cbWndExtra{};
  HINSTANCE hInstance{};
  HICON hIcon{};
  HCURSOR hCursor{};
  HBRUSH hbrBackground{};
  LPCWSTR lpszMenuName{};
  LPCWSTR lpszClassName{};
  HICON hIconSm{};
};
struct WNDCLASSW {
  UINT style{};
  WNDPROC lpfnWndProc;
  int cbClsExtra{};
  int cbWndExtra{};
  HINSTANCE hInstance{};
  HICON hIcon{};
  HCURSOR hCursor{};
  HBRUSH hbrBackground{};
  LPCWSTR lpszMenuName{};
  LPCWSTR lpszClassName{};
};
using WNDCLASSEX = WNDCLASSEXW;
using WNDCLASS = WNDCLASSW;

struct CREATESTRUCTW {
  LPVOID lpCreateParams{};
  HINSTANCE hInstance{};
  HMENU hMenu{};
  HWND hwndParent{};
  int cy{};
  int cx{};
  int y{};
  int x{};
  LONG style{};
  LPCWSTR lpszName{};
  LPCWSTR lpszClass{};
  DWORD dwExStyle{};
};
using CREATESTRUCT = CREATESTRUCTW;

struct MSG {
  HWND hwnd{};
  UINT message{};
  WPARAM wParam{};
  LPARAM lParam{};
  DWORD time{};
  POINT pt{};
};
using LPMSG = MSG*;

struct WINDOWPOS {
  HWND hwnd{};
  HWND hwndInsertAfter{};
  int x{};
  int y{};
  int cx{};
  int cy{};
  UINT flags{};
};

struct NCCALCSIZE_PARAMS {
  RECT rgrc[3]{};
  WINDOWPOS* lppos{};
};

struct MINMAXINFO {
  POINT ptReserved{};
  POINT ptMaxSize{};
  POINT ptMaxPosition{};
  POINT ptMinTrackSize{};
  POINT ptMaxTrackSize{};
};

struct STYLESTRUCT {
  DWORD styleOld{};
  DWORD styleNew{};
};

struct PAINTSTRUCT {
  HDC hdc{};
  BOOL fErase{};
  RECT rcPaint{};
  BOOL fRestore{};
  BOOL fIncUpdate{};
  BYTE rgbReserved[32]{};
};

struct SCROLLINFO {
  UINT cbSize{};
  UINT fMask{};
  int nMin{};
  int nMax{};
  UINT nPage{};
  int nPos{};
  int nTrackPos{};
};
using LPSCROLLINFO = SCROLLINFO*;
using LPCSCROLLINFO = const SCROLLINFO*;

struct SCROLLBARINFO {
  DWORD cbSize{};
  RECT rcScrollBar{};
  int dxyLineButton{};
  int xyThumbTop{};
  int xyThumbBottom{};
  int reserved{};
  DWORD rgstate[CCHILDREN_SCROLLBAR + 1]{};
};
static_assert(sizeof(SCROLLBARINFO) == 60);

struct TRACKMOUSEEVENT {
  DWORD cbSize{};
  DWORD dwFlags{};
  HWND hwndTrack{};
  DWORD dwHoverTime{};
};

struct CWPSTRUCT {
  LPARAM lParam{};
  WPARAM wParam{};
  UINT message{};
  HWND hwnd{};
};
struct CWPRETSTRUCT {
  LRESULT lResult{};
  LPARAM lParam{};
  WPARAM wParam{};
  UINT message{};
  HWND hwnd{};
};
struct MOUSEHOOKSTRUCT {
  POINT pt{};
  HWND hwnd{};
  UINT wHitTestCode{};
  ULONG_PTR dwExtraInfo{};
};
struct MOUSEHOOKSTRUCTEX : MOUSEHOOKSTRUCT {
  DWORD mouseData{};
};

struct MONITORINFO {
  DWORD cbSize{};
  RECT rcMonitor{};
  RECT rcWork{};
  DWORD dwFlags{};
};
static_assert(sizeof(MONITORINFO) == 40);

// NONCLIENTMETRICSW is declared with the system fonts in GdiText.h.

struct OSVERSIONINFOW {
  DWORD dwOSVersionInfoSize{};
  DWORD dwMajorVersion{};
  DWORD dwMinorVersion{};
  DWORD dwBuildNumber{};
  DWORD dwPlatformId{};
  WCHAR szCSDVersion[128]{};
};
using OSVERSIONINFO = OSVERSIONINFOW;

struct HELPINFO {
  UINT cbSize{};
  int iContextType{};
  int iCtrlId{};
  HANDLE hItemHandle{};
  DWORD_PTR dwContextId{};
  POINT MousePos{};
};
constexpr int HELPINFO_WINDOW = 0x0001, HELPINFO_MENUITEM = 0x0002;

using TIMERPROC = void (*)(HWND, UINT, UINT_PTR, DWORD);
using HOOKPROC = LRESULT (*)(int code, WPARAM wParam, LPARAM lParam);
using WNDENUMPROC = BOOL (*)(HWND, LPARAM);
using MONITORENUMPROC = BOOL (*)(HMONITOR, HDC, LPRECT, LPARAM);

// ---------------------------------------------------------------------------
// Window classes and windows

ATOM RegisterClassExW(const WNDCLASSEXW* lpwcx);
ATOM RegisterClassW(const WNDCLASSW* lpWndClass);
BOOL UnregisterClassW(LPCWSTR lpClassName, HINSTANCE hInstance);
BOOL GetClassInfoExW(HINSTANCE hInstance, LPCWSTR lpszClass, WNDCLASSEXW* lpwcx);
BOOL GetClassInfoW(HINSTANCE hInstance, LPCWSTR lpClassName, WNDCLASSW* lpWndClass);
int GetClassNameW(HWND hWnd, LPWSTR lpClassName, int nMaxCount);
inline int GetClassName(HWND h, LPWSTR n, int c) { return GetClassNameW(h, n, c); }
ULONG_PTR GetClassLongPtrW(HWND hWnd, int nIndex);
ULONG_PTR SetClassLongPtrW(HWND hWnd, int nIndex, LONG_PTR dwNewLong);
inline ATOM RegisterClassEx(const WNDCLASSEXW* c) { return RegisterClassExW(c); }
inline ATOM RegisterClass(const WNDCLASSW* c) { return RegisterClassW(c); }
inline BOOL UnregisterClass(LPCWSTR n, HINSTANCE h) { return UnregisterClassW(n, h); }
inline BOOL GetClassInfo(HINSTANCE h, LPCWSTR n, WNDCLASSW* c) { return GetClassInfoW(h, n, c); }

// The module handle of the program (the only module).
HINSTANCE GetModuleHandleW(LPCWSTR lpModuleName);
inline HINSTANCE GetModuleHandle(LPCWSTR n) { return GetModuleHandleW(n); }
extern const HINSTANCE HInstance;

HWND CreateWindowExW(DWORD dwExStyle, LPCWSTR lpClassName, LPCWSTR lpWindowName, DWORD dwStyle, int X, int Y,
                     int nWidth, int nHeight, HWND hWndParent, HMENU hMenu, HINSTANCE hInstance, LPVOID lpParam);
inline HWND CreateWindowW(LPCWSTR cls, LPCWSTR name, DWORD style, int x, int y, int w, int h, HWND parent,
                          HMENU menu, HINSTANCE inst, LPVOID param) {
  return CreateWindowExW(0, cls, name, style, x, y, w, h, parent, menu, inst, param);
}
inline HWND CreateWindowEx(DWORD ex, LPCWSTR cls, LPCWSTR name, DWORD style, int x, int y, int w, int h,
                           HWND parent, HMENU menu, HINSTANCE inst, LPVOID param) {
  return CreateWindowExW(ex, cls, name, style, x, y, w, h, parent, menu, inst, param);
}
BOOL DestroyWindow(HWND hWnd);
BOOL IsWindow(HWND hWnd);
BOOL IsWindowVisible(HWND hWnd);
BOOL IsWindowEnabled(HWND hWnd);
BOOL EnableWindow(HWND hWnd, BOOL bEnable);
BOOL IsChild(HWND hWndParent, HWND hWnd);
BOOL IsIconic(HWND hWnd);
BOOL IsZoomed(HWND hWnd);
BOOL IsWindowUnicode(HWND hWnd);
HWND GetParent(HWND hWnd);
HWND GetAncestor(HWND hwnd, UINT gaFlags);
HWND SetParent(HWND hWndChild, HWND hWndNewParent);
HWND GetWindow(HWND hWnd, UINT uCmd);
HWND GetTopWindow(HWND hWnd);
HWND GetNextWindow(HWND hWnd, UINT wCmd);
HWND GetDesktopWindow();
HWND FindWindowW(LPCWSTR lpClassName, LPCWSTR lpWindowName);
BOOL EnumWindows(WNDENUMPROC lpEnumFunc, LPARAM lParam);
BOOL EnumChildWindows(HWND hWndParent, WNDENUMPROC lpEnumFunc, LPARAM lParam);
BOOL EnumThreadWindows(DWORD dwThreadId, WNDENUMPROC lpfn, LPARAM lParam);
DWORD GetWindowThreadProcessId(HWND hWnd, LPDWORD lpdwProcessId);
int GetDlgCtrlID(HWND hWnd);
HWND GetDlgItem(HWND hDlg, int nIDDlgItem);

LONG_PTR GetWindowLongPtrW(HWND hWnd, int nIndex);
LONG_PTR SetWindowLongPtrW(HWND hWnd, int nIndex, LONG_PTR dwNewLong);
// The pointer-wide forms under the narrow names: a window procedure or user
// data does not fit 32 bits here.
inline LONG_PTR GetWindowLongW(HWND h, int i) { return GetWindowLongPtrW(h, i); }
inline LONG_PTR SetWindowLongW(HWND h, int i, LONG_PTR v) { return SetWindowLongPtrW(h, i, v); }
inline LONG_PTR GetWindowLong(HWND h, int i) { return GetWindowLongPtrW(h, i); }
inline LONG_PTR SetWindowLong(HWND h, int i, LONG_PTR v) { return SetWindowLongPtrW(h, i, v); }
inline LONG_PTR GetWindowLongPtr(HWND h, int i) { return GetWindowLongPtrW(h, i); }
inline LONG_PTR SetWindowLongPtr(HWND h, int i, LONG_PTR v) { return SetWindowLongPtrW(h, i, v); }

BOOL SetWindowTextW(HWND hWnd, LPCWSTR lpString);
int GetWindowTextW(HWND hWnd, LPWSTR lpString, int nMaxCount);
int GetWindowTextLengthW(HWND hWnd);
BOOL SetPropW(HWND hWnd, LPCWSTR lpString, HANDLE hData);
HANDLE GetPropW(HWND hWnd, LPCWSTR lpString);
HANDLE RemovePropW(HWND hWnd, LPCWSTR lpString);
UINT RegisterWindowMessageW(LPCWSTR lpString);
inline UINT RegisterWindowMessage(LPCWSTR s) { return RegisterWindowMessageW(s); }

// ---------------------------------------------------------------------------
// Position, size and z-order

BOOL SetWindowPos(HWND hWnd, HWND hWndInsertAfter, int X, int Y, int cx, int cy, UINT uFlags);
BOOL MoveWindow(HWND hWnd, int X, int Y, int nWidth, int nHeight, BOOL bRepaint);
BOOL ShowWindow(HWND hWnd, int nCmdShow);
BOOL ShowOwnedPopups(HWND hWnd, BOOL fShow);
BOOL BringWindowToTop(HWND hWnd);
BOOL GetWindowRect(HWND hWnd, LPRECT lpRect);
BOOL GetClientRect(HWND hWnd, LPRECT lpRect);
BOOL ClientToScreen(HWND hWnd, LPPOINT lpPoint);
BOOL ScreenToClient(HWND hWnd, LPPOINT lpPoint);
int MapWindowPoints(HWND hWndFrom, HWND hWndTo, LPPOINT lpPoints, UINT cPoints);
HWND WindowFromPoint(POINT Point);
HWND ChildWindowFromPoint(HWND hWndParent, POINT Point);
HWND ChildWindowFromPointEx(HWND hwnd, POINT pt, UINT flags);
BOOL AdjustWindowRectEx(LPRECT lpRect, DWORD dwStyle, BOOL bMenu, DWORD dwExStyle);
BOOL AdjustWindowRect(LPRECT lpRect, DWORD dwStyle, BOOL bMenu);
int SetWindowRgn(HWND hWnd, HRGN hRgn, BOOL bRedraw);
int GetWindowRgn(HWND hWnd, HRGN hRgn);
BOOL SetLayeredWindowAttributes(HWND hwnd, COLORREF crKey, BYTE bAlpha, DWORD dwFlags);
BOOL GetLayeredWindowAttributes(HWND hwnd, COLORREF* pcrKey, BYTE* pbAlpha, DWORD* pdwFlags);
BOOL UpdateLayeredWindow(HWND hWnd, HDC hdcDst, POINT* pptDst, SIZE* psize, HDC hdcSrc, POINT* pptSrc,
                         COLORREF crKey, BLENDFUNCTION* pblend, DWORD dwFlags);
BOOL AnimateWindow(HWND hWnd, DWORD dwTime, DWORD dwFlags);

// ---------------------------------------------------------------------------
// Messages and the queue

LRESULT SendMessageW(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);
inline LRESULT SendMessage(HWND h, UINT m, WPARAM w, LPARAM l) { return SendMessageW(h, m, w, l); }
LRESULT SendMessageTimeoutW(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam, UINT fuFlags, UINT uTimeout,
                            ULONG_PTR* lpdwResult);
BOOL SendNotifyMessageW(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);
inline BOOL SendNotifyMessage(HWND h, UINT m, WPARAM w, LPARAM l) { return SendNotifyMessageW(h, m, w, l); }
BOOL PostMessageW(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);
inline BOOL PostMessage(HWND h, UINT m, WPARAM w, LPARAM l) { return PostMessageW(h, m, w, l); }
BOOL PostThreadMessageW(DWORD idThread, UINT Msg, WPARAM wParam, LPARAM lParam);
void PostQuitMessage(int nExitCode);
BOOL GetMessageW(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax);
BOOL PeekMessageW(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax, UINT wRemoveMsg);
inline BOOL GetMessage(LPMSG m, HWND h, UINT a, UINT b) { return GetMessageW(m, h, a, b); }
inline BOOL PeekMessage(LPMSG m, HWND h, UINT a, UINT b, UINT r) { return PeekMessageW(m, h, a, b, r); }
BOOL TranslateMessage(const MSG* lpMsg);
LRESULT DispatchMessageW(const MSG* lpMsg);
inline LRESULT DispatchMessage(const MSG* m) { return DispatchMessageW(m); }
BOOL WaitMessage();
// Waits for the handles (platform/classes/WinHandles.h) or for queue input of
// dwWakeMask; answers WAIT_OBJECT_0 + nCount for input.
DWORD MsgWaitForMultipleObjects(DWORD nCount, const HANDLE* pHandles, BOOL fWaitAll, DWORD dwMilliseconds,
                                DWORD dwWakeMask);
DWORD MsgWaitForMultipleObjectsEx(DWORD nCount, const HANDLE* pHandles, DWORD dwMilliseconds, DWORD dwWakeMask,
                                  DWORD dwFlags);
BOOL InSendMessage();
DWORD InSendMessageEx(LPVOID lpReserved);
BOOL ReplyMessage(LRESULT lResult);
DWORD GetMessagePos();
LONG GetMessageTime();
LPARAM GetMessageExtraInfo();
DWORD GetQueueStatus(UINT flags);
BOOL GetInputState();

// ---------------------------------------------------------------------------
// Non-client area and scroll bars

int SetScrollInfo(HWND hwnd, int nBar, LPCSCROLLINFO lpsi, BOOL redraw);
BOOL GetScrollInfo(HWND hwnd, int nBar, LPSCROLLINFO lpsi);
int SetScrollPos(HWND hWnd, int nBar, int nPos, BOOL bRedraw);
int GetScrollPos(HWND hWnd, int nBar);
BOOL SetScrollRange(HWND hWnd, int nBar, int nMinPos, int nMaxPos, BOOL bRedraw);
BOOL GetScrollRange(HWND hWnd, int nBar, LPINT lpMinPos, LPINT lpMaxPos);
BOOL ShowScrollBar(HWND hWnd, int wBar, BOOL bShow);
BOOL EnableScrollBar(HWND hWnd, UINT wSBflags, UINT wArrows);
BOOL GetScrollBarInfo(HWND hwnd, LONG idObject, SCROLLBARINFO* psbi);

// ---------------------------------------------------------------------------
// Painting

BOOL InvalidateRect(HWND hWnd, const RECT* lpRect, BOOL bErase);
BOOL InvalidateRgn(HWND hWnd, HRGN hRgn, BOOL bErase);
BOOL ValidateRect(HWND hWnd, const RECT* lpRect);
BOOL ValidateRgn(HWND hWnd, HRGN hRgn);
BOOL GetUpdateRect(HWND hWnd, LPRECT lpRect, BOOL bErase);
int GetUpdateRgn(HWND hWnd, HRGN hRgn, BOOL bErase);
BOOL UpdateWindow(HWND hWnd);
BOOL RedrawWindow(HWND hWnd, const RECT* lprcUpdate, HRGN hrgnUpdate, UINT flags);
HDC BeginPaint(HWND hWnd, PAINTSTRUCT* lpPaint);
BOOL EndPaint(HWND hWnd, const PAINTSTRUCT* lpPaint);
HDC GetDCEx(HWND hWnd, HRGN hrgnClip, DWORD flags);
HDC GetWindowDC(HWND hWnd);
HWND WindowFromDC(HDC hDC);
BOOL ScrollWindow(HWND hWnd, int XAmount, int YAmount, const RECT* lpRect, const RECT* lpClipRect);
int ScrollWindowEx(HWND hWnd, int dx, int dy, const RECT* prcScroll, const RECT* prcClip, HRGN hrgnUpdate,
                   LPRECT prcUpdate, UINT flags);
BOOL LockWindowUpdate(HWND hWndLock);
BOOL PrintWindow(HWND hwnd, HDC hdcBlt, UINT nFlags);

// ---------------------------------------------------------------------------
// Input, focus, capture, cursor and caret

HWND SetFocus(HWND hWnd);
HWND GetFocus();
HWND SetActiveWindow(HWND hWnd);
HWND GetActiveWindow();
BOOL SetForegroundWindow(HWND hWnd);
HWND GetForegroundWindow();
HWND SetCapture(HWND hWnd);
BOOL ReleaseCapture();
HWND GetCapture();
SHORT GetKeyState(int nVirtKey);
SHORT GetAsyncKeyState(int vKey);
BOOL GetKeyboardState(LPBYTE lpKeyState);
BOOL SetKeyboardState(LPBYTE lpKeyState);
UINT MapVirtualKeyW(UINT uCode, UINT uMapType);
inline UINT MapVirtualKey(UINT c, UINT t) { return MapVirtualKeyW(c, t); }
int ToUnicode(UINT wVirtKey, UINT wScanCode, const BYTE* lpKeyState, LPWSTR pwszBuff, int cchBuff, UINT wFlags);
SHORT VkKeyScanW(WCHAR ch);
inline SHORT VkKeyScan(WCHAR ch) { return VkKeyScanW(ch); }
HKL GetKeyboardLayout(DWORD idThread);
HKL ActivateKeyboardLayout(HKL hkl, UINT Flags);
HKL LoadKeyboardLayoutW(LPCWSTR pwszKLID, UINT Flags);
BOOL TrackMouseEvent(TRACKMOUSEEVENT* lpEventTrack);
BOOL DragDetect(HWND hwnd, POINT pt);
UINT GetDoubleClickTime();
BOOL SetDoubleClickTime(UINT Arg1);
BOOL SwapMouseButton(BOOL fSwap);

HCURSOR LoadCursorW(HINSTANCE hInstance, LPCWSTR lpCursorName);
inline HCURSOR LoadCursor(HINSTANCE h, LPCWSTR n) { return LoadCursorW(h, n); }
HICON LoadIconW(HINSTANCE hInstance, LPCWSTR lpIconName);
inline HICON LoadIcon(HINSTANCE h, LPCWSTR n) { return LoadIconW(h, n); }
HCURSOR SetCursor(HCURSOR hCursor);
HCURSOR GetCursor();
BOOL GetCursorPos(LPPOINT lpPoint);
BOOL SetCursorPos(int X, int Y);
int ShowCursor(BOOL bShow);

BOOL CreateCaret(HWND hWnd, HBITMAP hBitmap, int nWidth, int nHeight);
BOOL DestroyCaret();
BOOL ShowCaret(HWND hWnd);
BOOL HideCaret(HWND hWnd);
BOOL SetCaretPos(int X, int Y);
BOOL GetCaretPos(LPPOINT lpPoint);
UINT GetCaretBlinkTime();
BOOL SetCaretBlinkTime(UINT uMSeconds);

// ---------------------------------------------------------------------------
// Timers and hooks

UINT_PTR SetTimer(HWND hWnd, UINT_PTR nIDEvent, UINT uElapse, TIMERPROC lpTimerFunc);
BOOL KillTimer(HWND hWnd, UINT_PTR uIDEvent);
HHOOK SetWindowsHookExW(int idHook, HOOKPROC lpfn, HINSTANCE hmod, DWORD dwThreadId);
inline HHOOK SetWindowsHookEx(int id, HOOKPROC fn, HINSTANCE m, DWORD t) { return SetWindowsHookExW(id, fn, m, t); }
BOOL UnhookWindowsHookEx(HHOOK hhk);
LRESULT CallNextHookEx(HHOOK hhk, int nCode, WPARAM wParam, LPARAM lParam);

// ---------------------------------------------------------------------------
// System information

int GetSystemMetrics(int nIndex);
BOOL SystemParametersInfoW(UINT uiAction, UINT uiParam, LPVOID pvParam, UINT fWinIni);
inline BOOL SystemParametersInfo(UINT a, UINT p, LPVOID v, UINT f) { return SystemParametersInfoW(a, p, v, f); }
HMONITOR MonitorFromPoint(POINT pt, DWORD dwFlags);
HMONITOR MonitorFromRect(LPCRECT lprc, DWORD dwFlags);
HMONITOR MonitorFromWindow(HWND hwnd, DWORD dwFlags);
BOOL GetMonitorInfoW(HMONITOR hMonitor, MONITORINFO* lpmi);
inline BOOL GetMonitorInfo(HMONITOR m, MONITORINFO* i) { return GetMonitorInfoW(m, i); }
BOOL EnumDisplayMonitors(HDC hdc, LPCRECT lprcClip, MONITORENUMPROC lpfnEnum, LPARAM dwData);
BOOL GetVersionExW(OSVERSIONINFOW* lpVersionInformation);
inline BOOL GetVersionEx(OSVERSIONINFOW* v) { return GetVersionExW(v); }
DWORD GetVersion();
// Plays the system sound of the message-box type through the backend.
BOOL MessageBeep(UINT uType);
// Not a 32-bit process on a 64-bit system: always FALSE in *Wow64Process.
BOOL IsWow64Process(HANDLE hProcess, BOOL* Wow64Process);
// The screen is not scaled, so a program is DPI-aware already.
BOOL SetProcessDPIAware();

// ---------------------------------------------------------------------------
// Sounds, the shell's opener and help (outside services reached through the
// backend: a real display hands them to the desktop, the headless backend
// records them)

constexpr DWORD SND_SYNC = 0x0000, SND_ASYNC = 0x0001, SND_NODEFAULT = 0x0002, SND_MEMORY = 0x0004,
                SND_LOOP = 0x0008, SND_NOSTOP = 0x0010, SND_PURGE = 0x0040, SND_APPLICATION = 0x0080,
                SND_NOWAIT = 0x00002000, SND_ALIAS = 0x00010000, SND_FILENAME = 0x00020000,
                SND_RESOURCE = 0x00040004, SND_ALIAS_ID = 0x00110000;
// A sound by alias or file name; nil stops the sound playing. FALSE when
// nothing could play it.
BOOL PlaySoundW(LPCWSTR pszSound, HMODULE hmod, DWORD fdwSound);
inline BOOL PlaySound(LPCWSTR s, HMODULE m, DWORD f) { return PlaySoundW(s, m, f); }

constexpr int SE_ERR_FNF = 2, SE_ERR_PNF = 3, SE_ERR_ACCESSDENIED = 5, SE_ERR_OOM = 8, SE_ERR_SHARE = 26,
              SE_ERR_ASSOCINCOMPLETE = 27, SE_ERR_NOASSOC = 31;
// Opens a document or address with the desktop's opener ("open" or nil
// operation only). Answers a value above 32 on success, else an SE_ERR_ code.
HINSTANCE ShellExecuteW(HWND hwnd, LPCWSTR lpOperation, LPCWSTR lpFile, LPCWSTR lpParameters,
                        LPCWSTR lpDirectory, int nShowCmd);
inline HINSTANCE ShellExecute(HWND h, LPCWSTR o, LPCWSTR f, LPCWSTR p, LPCWSTR d, int s) {
  return ShellExecuteW(h, o, f, p, d, s);
}

constexpr UINT HELP_CONTEXT = 0x0001, HELP_QUIT = 0x0002, HELP_INDEX = 0x0003, HELP_CONTENTS = 0x0003,
               HELP_HELPONHELP = 0x0004, HELP_SETINDEX = 0x0005, HELP_SETCONTENTS = 0x0005,
               HELP_CONTEXTPOPUP = 0x0008, HELP_FORCEFILE = 0x0009, HELP_FINDER = 0x000B,
               HELP_SETPOPUP_POS = 0x000D, HELP_KEY = 0x0101, HELP_COMMAND = 0x0102, HELP_PARTIALKEY = 0x0105;
// There is no help viewer: HELP_QUIT and HELP_SETPOPUP_POS succeed, every
// request to show help fails (ERROR_FILE_NOT_FOUND), so callers report it.
BOOL WinHelpW(HWND hWndMain, LPCWSTR lpszHelp, UINT uCommand, ULONG_PTR dwData);
inline BOOL WinHelp(HWND h, LPCWSTR f, UINT c, ULONG_PTR d) { return WinHelpW(h, f, c, d); }

// ---------------------------------------------------------------------------
// Clipboard and global memory

BOOL OpenClipboard(HWND hWndNewOwner);
BOOL CloseClipboard();
BOOL EmptyClipboard();
HANDLE SetClipboardData(UINT uFormat, HANDLE hMem);
HANDLE GetClipboardData(UINT uFormat);
BOOL IsClipboardFormatAvailable(UINT format);
UINT RegisterClipboardFormatW(LPCWSTR lpszFormat);
inline UINT RegisterClipboardFormat(LPCWSTR f) { return RegisterClipboardFormatW(f); }
UINT EnumClipboardFormats(UINT format);
int CountClipboardFormats();
HWND GetClipboardOwner();
HGLOBAL GlobalAlloc(UINT uFlags, size_t dwBytes);
LPVOID GlobalLock(HGLOBAL hMem);
BOOL GlobalUnlock(HGLOBAL hMem);
size_t GlobalSize(HGLOBAL hMem);
HGLOBAL GlobalFree(HGLOBAL hMem);

// ---------------------------------------------------------------------------
// Message boxes

int MessageBoxW(HWND hWnd, LPCWSTR lpText, LPCWSTR lpCaption, UINT uType);
inline int MessageBox(HWND h, LPCWSTR t, LPCWSTR c, UINT u) { return MessageBoxW(h, t, c, u); }

}  // namespace win

// The predefined control classes ("EDIT", "LISTBOX", "BUTTON", "STATIC") and
// menus have headers of their own.
#include "platform/win/WinControls.h"
#include "platform/win/WinMenus.h"
