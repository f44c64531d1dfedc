// The "BUTTON" window class: push buttons (default and owner-drawn), check
// boxes, radio buttons (automatic ones keep their group exclusive) and group
// boxes. Clicks by mouse, Space, Enter (push buttons) and BM_CLICK reach the
// parent as WM_COMMAND BN_CLICKED; owner-drawn buttons are drawn by the
// parent through WM_DRAWITEM (ODA_DRAWENTIRE when painted, ODA_SELECT when
// pressed or released, ODA_FOCUS when the focus comes or goes), at once
// through a window DC as on the platform.
//
// The state lives in a table keyed by the handle (WM_NCCREATE to
// WM_NCDESTROY), so a class copied from this one keeps working.
#include <algorithm>
#include <memory>
#include <unordered_map>
#include <vector>

#include "platform/win/Windows.h"
#include "platform/win/WndControlState.h"

namespace win {

namespace {

constexpr int kGlyph = 13;  // check box and radio button glyph size
bool IsButtonWindow(HWND h);

struct TButton {
  HWND Wnd{};
  int Check = 0;
  bool Pushed = false, Focused = false, Tracking = false, SpaceDown = false;
  HFONT Font{};
  HBITMAP Bitmap{};
  HICON Icon{};
  // Messages under way and whether WM_NCDESTROY came (freed when the
  // outermost message returns).
  int Depth = 0;
  bool Dead = false;

  DWORD Style() const { return DWORD(GetWindowLongPtrW(Wnd, GWL_STYLE)); }
  DWORD Type() const { return Style() & BS_TYPEMASK; }
  bool IsCheck() const {
    DWORD t = Type();
    return t == BS_CHECKBOX || t == BS_AUTOCHECKBOX || t == BS_3STATE || t == BS_AUTO3STATE;
  }
  bool IsRadio() const { return Type() == BS_RADIOBUTTON || Type() == BS_AUTORADIOBUTTON; }
  bool IsThreeState() const { return Type() == BS_3STATE || Type() == BS_AUTO3STATE; }
  bool IsGroup() const { return Type() == BS_GROUPBOX; }
  bool IsOwnerDraw() const { return Type() == BS_OWNERDRAW; }
  bool IsPush() const {
    DWORD t = Type();
    return t == BS_PUSHBUTTON || t == BS_DEFPUSHBUTTON || t == BS_PUSHBOX || t == BS_USERBUTTON ||
           t == BS_OWNERDRAW || ((Style() & BS_PUSHLIKE) && (IsCheck() || IsRadio()));
  }
  // Owner-drawn buttons keep a check state too, for the radio and check
  // buttons that draw themselves.
  bool KeepsCheck() const { return IsCheck() || IsRadio() || IsOwnerDraw(); }

  HWND Parent() const { return GetParent(Wnd); }
  UINT Id() const { return UINT(GetDlgCtrlID(Wnd)); }
  void Notify(WORD code) {
    if (HWND p = Parent()) SendMessageW(p, WM_COMMAND, MAKEWPARAM(WORD(Id()), code), LPARAM(Wnd));
  }
  HFONT FontOrDefault() const { return Font ? Font : static_cast<HFONT>(GetStockObject(SYSTEM_FONT)); }

  // ---- Drawing ----
  HBRUSH CtlColor(HDC dc) {
    UINT msg = (IsPush() || IsOwnerDraw()) ? WM_CTLCOLORBTN : WM_CTLCOLORSTATIC;
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    HWND p = Parent();
    HBRUSH b = p ? reinterpret_cast<HBRUSH>(SendMessageW(p, msg, WPARAM(dc), LPARAM(Wnd)))
                 : reinterpret_cast<HBRUSH>(DefWindowProcW(Wnd, msg, WPARAM(dc), LPARAM(Wnd)));
    return b ? b : GetSysColorBrush(COLOR_BTNFACE);
  }
  UINT TextFormat() const {
    DWORD st = Style();
    UINT f = (st & BS_MULTILINE) ? DT_WORDBREAK : DT_SINGLELINE;
    switch (st & BS_CENTER) {
      case BS_LEFT: f |= DT_LEFT; break;
      case BS_RIGHT: f |= DT_RIGHT; break;
      case BS_CENTER: f |= DT_CENTER; break;
      default: f |= (IsPush() ? DT_CENTER : DT_LEFT); break;
    }
    switch (st & BS_VCENTER) {
      case BS_TOP: f |= DT_TOP; break;
      case BS_BOTTOM: f |= DT_BOTTOM; break;
      default: f |= DT_VCENTER; break;
    }
    return f;
  }
  // Draws the caption in r; answers the rectangle the text takes.
  RECT DrawCaption(HDC dc, RECT r, UINT fmt) {
    int len = GetWindowTextLengthW(Wnd);
    String text(size_t(std::max(0, len)), u'\0');
    if (len > 0) GetWindowTextW(Wnd, text.data(), len + 1);
    RECT calc = r;
    DrawTextW(dc, text.c_str(), int(text.size()), &calc, (fmt & ~(DT_VCENTER | DT_BOTTOM)) | DT_CALCRECT);
    int w = calc.right - calc.left, h = calc.bottom - calc.top;
    RECT box = r;
    if (fmt & DT_CENTER) box.left = r.left + (r.right - r.left - w) / 2;
    else if (fmt & DT_RIGHT) box.left = r.right - w;
    box.right = box.left + w;
    if ((fmt & DT_VCENTER) || !(fmt & DT_SINGLELINE)) {
      if (!(fmt & DT_BOTTOM) && !(fmt & DT_TOP) ) box.top = r.top + (r.bottom - r.top - h) / 2;
    }
    if (fmt & DT_BOTTOM) box.top = r.bottom - h;
    box.bottom = box.top + h;
    if (text.empty()) return RECT{box.left, box.top, box.left, box.top};
    SetBkMode(dc, TRANSPARENT);
    if (!IsWindowEnabled(Wnd)) {
      COLORREF old = SetTextColor(dc, GetSysColor(COLOR_BTNHIGHLIGHT));
      RECT e = box;
      OffsetRect(&e, 1, 1);
      DrawTextW(dc, text.c_str(), int(text.size()), &e, fmt & ~(DT_VCENTER | DT_BOTTOM));
      SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
      DrawTextW(dc, text.c_str(), int(text.size()), &box, fmt & ~(DT_VCENTER | DT_BOTTOM));
      SetTextColor(dc, old);
    } else {
      DrawTextW(dc, text.c_str(), int(text.size()), &box, fmt & ~(DT_VCENTER | DT_BOTTOM));
    }
    return box;
  }
  void DrawImage(HDC dc, RECT r) {
    if (Bitmap) {
      BITMAP bm{};
      if (!GetObjectW(Bitmap, sizeof bm, &bm)) return;
      HDC mem = CreateCompatibleDC(dc);
      HGDIOBJ old = SelectObject(mem, Bitmap);
      BitBlt(dc, r.left + (r.right - r.left - bm.bmWidth) / 2, r.top + (r.bottom - r.top - bm.bmHeight) / 2,
             bm.bmWidth, bm.bmHeight, mem, 0, 0, SRCCOPY);
      SelectObject(mem, old);
      DeleteDC(mem);
    } else if (Icon) {
      int s = GetSystemMetrics(SM_CXICON);
      DrawIconEx(dc, r.left + (r.right - r.left - s) / 2, r.top + (r.bottom - r.top - s) / 2, Icon, 0, 0, 0,
                 nullptr, DI_NORMAL | DI_DEFAULTSIZE);
    }
  }
  void DrawPush(HDC dc, RECT r) {
    bool def = Type() == BS_DEFPUSHBUTTON;
    bool down = Pushed || ((Style() & BS_PUSHLIKE) && Check);
    if (def) {
      FrameRect(dc, &r, GetSysColorBrush(COLOR_WINDOWFRAME));
      InflateRect(&r, -1, -1);
    }
    UINT st = DFCS_BUTTONPUSH | (down ? DFCS_PUSHED : 0) | (!IsWindowEnabled(Wnd) ? DFCS_INACTIVE : 0) |
              ((Style() & BS_FLAT) ? DFCS_FLAT : 0);
    RECT face = r;
    DrawFrameControl(dc, &face, DFC_BUTTON, st);
    RECT content = r;
    InflateRect(&content, -3, -3);
    if (down) OffsetRect(&content, 1, 1);
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    if ((Style() & (BS_BITMAP | BS_ICON)) && (Bitmap || Icon))
      DrawImage(dc, content);
    else
      DrawCaption(dc, content, TextFormat());
    if (Focused) {
      RECT f = r;
      InflateRect(&f, -3, -3);
      DrawFocusRect(dc, &f);
    }
  }
  void DrawCheck(HDC dc, RECT r, HBRUSH brush) {
    FillRect(dc, &r, brush);
    bool left = Style() & BS_LEFTTEXT;
    RECT g{left ? r.right - kGlyph : r.left, r.top + (r.bottom - r.top - kGlyph) / 2, 0, 0};
    g.right = g.left + kGlyph;
    g.bottom = g.top + kGlyph;
    UINT st = IsRadio() ? DFCS_BUTTONRADIO : (Check == BST_INDETERMINATE ? DFCS_BUTTON3STATE : DFCS_BUTTONCHECK);
    if (Check) st |= DFCS_CHECKED;
    if (Pushed) st |= DFCS_PUSHED;
    if (!IsWindowEnabled(Wnd)) st |= DFCS_INACTIVE;
    if (Style() & BS_FLAT) st |= DFCS_FLAT;
    DrawFrameControl(dc, &g, DFC_BUTTON, st);
    RECT text = r;
    if (left)
      text.right = g.left - 4;
    else
      text.left = g.right + 4;
    RECT at = DrawCaption(dc, text, TextFormat());
    if (Focused && at.right > at.left) {
      InflateRect(&at, 1, 1);
      IntersectRect(&at, &at, &r);
      DrawFocusRect(dc, &at);
    }
  }
  void DrawGroup(HDC dc, RECT r, HBRUSH brush) {
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    RECT frame = r;
    frame.top += tm.tmHeight / 2;
    DrawEdge(dc, &frame, EDGE_ETCHED, BF_RECT);
    int len = GetWindowTextLengthW(Wnd);
    if (len <= 0) return;
    String text(size_t(len), u'\0');
    GetWindowTextW(Wnd, text.data(), len + 1);
    RECT t{r.left + 8, r.top, r.right - 8, r.top + tm.tmHeight};
    RECT calc = t;
    DrawTextW(dc, text.c_str(), int(text.size()), &calc, DT_SINGLELINE | DT_CALCRECT);
    t.right = std::min(t.right, calc.right + 4);
    FillRect(dc, &t, brush);
    t.left += 2;
    SetBkMode(dc, TRANSPARENT);
    if (!IsWindowEnabled(Wnd)) SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
    DrawTextW(dc, text.c_str(), int(text.size()), &t, DT_SINGLELINE | DT_LEFT | DT_TOP);
  }
  void Draw(HDC dc, UINT action) {
    RECT r{};
    GetClientRect(Wnd, &r);
    int saved = SaveDC(dc);
    SelectObject(dc, FontOrDefault());
    HBRUSH brush = CtlColor(dc);
    if (!IsWindow(Wnd)) {
      RestoreDC(dc, saved);
      return;
    }
    if (IsOwnerDraw()) {
      DRAWITEMSTRUCT dis;
      dis.CtlType = ODT_BUTTON;
      dis.CtlID = Id();
      dis.itemID = 0;
      dis.itemAction = action;
      dis.itemState = (Pushed ? ODS_SELECTED : 0) | (Focused ? ODS_FOCUS : 0) |
                      (!IsWindowEnabled(Wnd) ? ODS_DISABLED : 0);
      dis.hwndItem = Wnd;
      dis.hDC = dc;
      dis.rcItem = r;
      if (HWND p = Parent()) SendMessageW(p, WM_DRAWITEM, WPARAM(dis.CtlID), LPARAM(&dis));
    } else if (IsGroup()) {
      DrawGroup(dc, r, brush);
    } else if (IsPush()) {
      DrawPush(dc, r);
    } else {
      DrawCheck(dc, r, brush);
    }
    RestoreDC(dc, saved);
  }
  // Draws at once through a window DC (owner-drawn buttons hear the action);
  // a hidden button or one whose drawing is off only invalidates.
  void DrawNow(UINT action) {
    if (!IsWindowVisible(Wnd)) {
      InvalidateRect(Wnd, nullptr, FALSE);
      return;
    }
    HDC dc = GetDC(Wnd);
    if (!dc) return;
    Draw(dc, action);
    ReleaseDC(Wnd, dc);
  }

  // ---- State ----
  void SetPushed(bool v) {
    if (Pushed == v) return;
    Pushed = v;
    DrawNow(ODA_SELECT);
  }
  void SetCheck(int v) {
    if (!KeepsCheck()) return;
    if (v == BST_INDETERMINATE && !IsThreeState() && !IsOwnerDraw()) v = BST_CHECKED;
    v = std::clamp(v, 0, 2);
    if (IsRadio()) {
      // A checked radio button is the group's tab stop.
      LONG_PTR st = GetWindowLongPtrW(Wnd, GWL_STYLE);
      LONG_PTR ns = v ? (st | WS_TABSTOP) : (st & ~LONG_PTR(WS_TABSTOP));
      if (ns != st) SetWindowLongPtrW(Wnd, GWL_STYLE, ns);
    }
    if (Check == v) return;
    Check = v;
    DrawNow(ODA_DRAWENTIRE);
  }
  // The other automatic radio buttons of the group are unchecked: the
  // siblings from one WS_GROUP mark to the next in creation order (new
  // children go on top of their siblings, so that is bottom to top).
  void UncheckGroup() {
    HWND p = Parent();
    if (!p) return;
    std::vector<HWND> sibs;
    for (HWND c = GetWindow(p, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) sibs.push_back(c);
    std::reverse(sibs.begin(), sibs.end());
    auto me = std::find(sibs.begin(), sibs.end(), Wnd);
    if (me == sibs.end()) return;
    auto first = me;
    while (first != sibs.begin() && !(GetWindowLongPtrW(*first, GWL_STYLE) & WS_GROUP)) --first;
    auto last = me + 1;
    while (last != sibs.end() && !(GetWindowLongPtrW(*last, GWL_STYLE) & WS_GROUP)) ++last;
    for (auto it = first; it != last; ++it) {
      if (*it == Wnd) continue;
      if (!IsButtonWindow(*it)) continue;
      if ((GetWindowLongPtrW(*it, GWL_STYLE) & BS_TYPEMASK) == BS_AUTORADIOBUTTON &&
          SendMessageW(*it, BM_GETCHECK, 0, 0) != BST_UNCHECKED)
        SendMessageW(*it, BM_SETCHECK, BST_UNCHECKED, 0);
    }
  }
  void Click() {
    HWND h = Wnd;
    switch (Type()) {
      case BS_AUTOCHECKBOX: SetCheck(Check ? BST_UNCHECKED : BST_CHECKED); break;
      case BS_AUTO3STATE: SetCheck((Check + 1) % 3); break;
      case BS_AUTORADIOBUTTON:
        SetCheck(BST_CHECKED);
        UncheckGroup();
        break;
      default: break;
    }
    if (IsWindow(h)) Notify(BN_CLICKED);
  }
};

wnd::TControlStates<TButton>& Buttons() {
  static wnd::TControlStates<TButton> states;
  return states;
}

// The live button of a handle (nil once destroyed).
TButton* ButtonOf(HWND h) { return Buttons().Find(h); }

bool IsButtonWindow(HWND h) { return ButtonOf(h) != nullptr; }

bool Inside(HWND h, LPARAM lp) {
  RECT r;
  GetClientRect(h, &r);
  POINT p{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
  return PtInRect(&r, p);
}

LRESULT ButtonProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    Buttons().Make(h);
    return DefWindowProcW(h, msg, wp, lp);
  }
  TButton* b = ButtonOf(h);
  if (!b) return DefWindowProcW(h, msg, wp, lp);
  wnd::TControlStates<TButton>::TGuard guard(Buttons(), b);
  switch (msg) {
    case WM_NCDESTROY:
      b->Dead = true;
      return DefWindowProcW(h, msg, wp, lp);
    case WM_NCHITTEST:
      // A group box lets the mouse through to what lies under it.
      if (b->IsGroup()) return HTTRANSPARENT;
      return DefWindowProcW(h, msg, wp, lp);
    case WM_PAINT: {
      // A DC in wParam (double-buffered painting) is painted into as given.
      if (wp) {
        b->Draw(reinterpret_cast<HDC>(wp), ODA_DRAWENTIRE);
        return 0;
      }
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(h, &ps);
      if (dc) b->Draw(dc, ODA_DRAWENTIRE);
      EndPaint(h, &ps);
      return 0;
    }
    case WM_PRINTCLIENT:
      b->Draw(reinterpret_cast<HDC>(wp), ODA_DRAWENTIRE);
      return 0;
    case WM_ERASEBKGND:
      return 1;  // painting covers the button
    case WM_SETTEXT: {
      LRESULT r = DefWindowProcW(h, msg, wp, lp);
      if (!(b = ButtonOf(h))) return r;
      if (b->IsGroup()) {
        // A group box does not erase under its caption (controls inside it
        // would be erased too): the parent repaints the caption band.
        RECT band{};
        GetClientRect(h, &band);
        HDC dc = GetDC(h);
        if (dc) {
          HGDIOBJ old = SelectObject(dc, b->FontOrDefault());
          TEXTMETRICW tm{};
          GetTextMetricsW(dc, &tm);
          SelectObject(dc, old);
          ReleaseDC(h, dc);
          band.bottom = std::min<LONG>(band.bottom, tm.tmHeight);
        }
        if (HWND p = GetParent(h)) {
          MapWindowPoints(h, p, reinterpret_cast<POINT*>(&band), 2);
          InvalidateRect(p, &band, TRUE);
        }
      }
      InvalidateRect(h, nullptr, FALSE);
      return r;
    }
    case WM_SETFONT:
      b->Font = reinterpret_cast<HFONT>(wp);
      if (LOWORD(lp)) InvalidateRect(h, nullptr, FALSE);
      return 0;
    case WM_GETFONT:
      return LRESULT(b->Font);
    case WM_ENABLE:
      if (!wp) b->Pushed = b->Tracking = b->SpaceDown = false;
      InvalidateRect(h, nullptr, FALSE);
      return 0;
    case WM_GETDLGCODE:
      switch (b->Type()) {
        case BS_DEFPUSHBUTTON: return DLGC_BUTTON | DLGC_DEFPUSHBUTTON;
        case BS_PUSHBUTTON:
        case BS_PUSHBOX:
        case BS_OWNERDRAW: return DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON;
        case BS_RADIOBUTTON:
        case BS_AUTORADIOBUTTON: return DLGC_BUTTON | DLGC_RADIOBUTTON;
        case BS_GROUPBOX: return DLGC_STATIC;
        default: return DLGC_BUTTON;
      }
    case WM_SETFOCUS:
      b->Focused = true;
      b->DrawNow(ODA_FOCUS);
      if ((b = ButtonOf(h)) && (b->Style() & BS_NOTIFY)) b->Notify(BN_SETFOCUS);
      return 0;
    case WM_KILLFOCUS:
      b->Focused = false;
      b->SpaceDown = false;
      if (b->Tracking) {
        b->Tracking = false;
        if (GetCapture() == h) ReleaseCapture();
      }
      if (!(b = ButtonOf(h))) return 0;
      if (b->Pushed) {
        b->Pushed = false;
        b->DrawNow(ODA_SELECT);
      }
      if ((b = ButtonOf(h))) b->DrawNow(ODA_FOCUS);
      if ((b = ButtonOf(h)) && (b->Style() & BS_NOTIFY)) b->Notify(BN_KILLFOCUS);
      return 0;
    case WM_LBUTTONDBLCLK:
      // Radio buttons, owner-drawn buttons and BS_NOTIFY ones report double
      // clicks; the others take the second press as a click.
      if (b->IsRadio() || b->IsOwnerDraw() || (b->Style() & BS_NOTIFY)) {
        b->Notify(BN_DOUBLECLICKED);
        return 0;
      }
      [[fallthrough]];
    case WM_LBUTTONDOWN:
      if (b->IsGroup()) return 0;
      if (GetFocus() != h) SetFocus(h);
      if (!(b = ButtonOf(h))) return 0;
      b->Tracking = true;
      SetCapture(h);
      b->SetPushed(true);
      return 0;
    case WM_MOUSEMOVE:
      if (b->Tracking) b->SetPushed(Inside(h, lp));
      return 0;
    case WM_LBUTTONUP: {
      if (!b->Tracking) return 0;
      bool click = b->Pushed && Inside(h, lp);
      b->Tracking = false;
      if (GetCapture() == h) ReleaseCapture();
      if (!(b = ButtonOf(h))) return 0;
      b->SetPushed(false);
      if (click && (b = ButtonOf(h))) b->Click();
      return 0;
    }
    case WM_CAPTURECHANGED:
      if (b->Tracking && reinterpret_cast<HWND>(lp) != h) {
        b->Tracking = false;
        b->SetPushed(false);
      }
      return 0;
    case WM_CANCELMODE:
      if (b->Tracking) {
        b->Tracking = false;
        if (GetCapture() == h) ReleaseCapture();
        if ((b = ButtonOf(h))) b->SetPushed(false);
      }
      return 0;
    case WM_KEYDOWN:
      if (b->IsGroup()) return 0;
      if (wp == VK_SPACE) {
        if (!(lp & (1 << 30))) {
          b->SpaceDown = true;
          b->SetPushed(true);
        }
        return 0;
      }
      if (wp == VK_RETURN && b->IsPush()) {
        b->Click();
        return 0;
      }
      return DefWindowProcW(h, msg, wp, lp);
    case WM_KEYUP:
      if (wp == VK_SPACE && b->SpaceDown) {
        b->SpaceDown = false;
        bool click = b->Pushed;
        b->SetPushed(false);
        if (click && (b = ButtonOf(h))) b->Click();
        return 0;
      }
      return DefWindowProcW(h, msg, wp, lp);
    case WM_CHAR:
      return 0;

    case BM_GETCHECK:
      return b->KeepsCheck() ? b->Check : BST_UNCHECKED;
    case BM_SETCHECK:
      b->SetCheck(int(std::min<WPARAM>(wp, 2)));
      return 0;
    case BM_GETSTATE:
      return (b->KeepsCheck() ? b->Check : 0) | (b->Pushed ? BST_PUSHED : 0) | (b->Focused ? BST_FOCUS : 0);
    case BM_SETSTATE:
      b->SetPushed(wp != 0);
      return 0;
    case BM_SETSTYLE: {
      // Only the button type changes; alignment and the other flags stay.
      LONG_PTR st = GetWindowLongPtrW(h, GWL_STYLE);
      LONG_PTR ns = (st & ~LONG_PTR(BS_TYPEMASK)) | LONG_PTR(wp & BS_TYPEMASK);
      if (ns != st) SetWindowLongPtrW(h, GWL_STYLE, ns);
      if (LOWORD(lp)) InvalidateRect(h, nullptr, FALSE);
      return 0;
    }
    case BM_CLICK:
      if (!IsWindowEnabled(h)) return 0;
      SendMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, 0);
      if (IsWindow(h)) SendMessageW(h, WM_LBUTTONUP, 0, 0);
      return 0;
    case BM_SETIMAGE: {
      HANDLE old;
      if (wp == IMAGE_BITMAP) {
        old = b->Bitmap;
        b->Bitmap = reinterpret_cast<HBITMAP>(lp);
      } else if (wp == IMAGE_ICON) {
        old = b->Icon;
        b->Icon = reinterpret_cast<HICON>(lp);
      } else {
        return 0;
      }
      InvalidateRect(h, nullptr, FALSE);
      return LRESULT(old);
    }
    case BM_GETIMAGE:
      return wp == IMAGE_BITMAP ? LRESULT(b->Bitmap) : wp == IMAGE_ICON ? LRESULT(b->Icon) : 0;
    case BM_SETDONTCLICK:
      return 0;
    default:
      return DefWindowProcW(h, msg, wp, lp);
  }
}

}  // namespace

void RegisterButtonClass() {
  static bool done = false;
  if (done) return;
  done = true;
  WNDCLASSEXW c;
  c.cbSize = sizeof c;
  c.style = CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW | CS_GLOBALCLASS;
  c.lpfnWndProc = &ButtonProc;
  c.hInstance = HInstance;
  c.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  c.lpszClassName = u"BUTTON";
  RegisterClassExW(&c);
}

}  // namespace win
