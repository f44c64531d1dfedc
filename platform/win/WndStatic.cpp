// The "STATIC" window class: text (left, centred, right, simple, without
// word wrap), icons and bitmaps (STM_SETIMAGE, STM_SETICON), filled and
// framed rectangles, etched frames and lines, and owner drawing. Colours come
// from the parent through WM_CTLCOLORSTATIC. Without SS_NOTIFY a static
// control is transparent to the mouse (HTTRANSPARENT), as on the platform;
// with it, clicks reach the parent as STN_CLICKED and STN_DBLCLK.
#include <algorithm>
#include <memory>
#include <unordered_map>

#include "platform/win/Windows.h"
#include "platform/win/WndControlState.h"

namespace win {

namespace {

struct TStatic {
  HWND Wnd{};
  HFONT Font{};
  HBITMAP Bitmap{};
  HICON Icon{};
  // Messages under way and whether WM_NCDESTROY came (freed when the
  // outermost message returns).
  int Depth = 0;
  bool Dead = false;

  DWORD Style() const { return DWORD(GetWindowLongPtrW(Wnd, GWL_STYLE)); }
  DWORD Type() const { return Style() & SS_TYPEMASK; }
  HWND Parent() const { return GetParent(Wnd); }
  UINT Id() const { return UINT(GetDlgCtrlID(Wnd)); }
  void Notify(WORD code) {
    if (!(Style() & SS_NOTIFY)) return;
    if (HWND p = Parent()) SendMessageW(p, WM_COMMAND, MAKEWPARAM(WORD(Id()), code), LPARAM(Wnd));
  }

  SIZE ImageSize() const {
    SIZE s{};
    if (Type() == SS_BITMAP && Bitmap) {
      BITMAP bm{};
      if (GetObjectW(Bitmap, sizeof bm, &bm)) s = SIZE{bm.bmWidth, std::abs(bm.bmHeight)};
    } else if (Type() == SS_ICON && Icon) {
      ICONINFO ii{};
      if (GetIconInfo(Icon, &ii)) {
        BITMAP bm{};
        if (ii.hbmColor && GetObjectW(ii.hbmColor, sizeof bm, &bm)) {
          s = SIZE{bm.bmWidth, std::abs(bm.bmHeight)};
        } else if (ii.hbmMask && GetObjectW(ii.hbmMask, sizeof bm, &bm)) {
          s = SIZE{bm.bmWidth, std::abs(bm.bmHeight) / 2};  // a monochrome icon: mask over image
        }
        if (ii.hbmColor) DeleteObject(ii.hbmColor);
        if (ii.hbmMask) DeleteObject(ii.hbmMask);
      }
    }
    return s;
  }
  // An image control takes its image's size unless told to keep its own or
  // to centre the image.
  void FitToImage() {
    if (Style() & (SS_REALSIZECONTROL | SS_CENTERIMAGE)) return;
    SIZE s = ImageSize();
    if (s.cx <= 0 || s.cy <= 0) return;
    RECT wr, cr;
    GetWindowRect(Wnd, &wr);
    GetClientRect(Wnd, &cr);
    int ncx = (wr.right - wr.left) - cr.right, ncy = (wr.bottom - wr.top) - cr.bottom;
    SetWindowPos(Wnd, nullptr, 0, 0, s.cx + ncx, s.cy + ncy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }

  void Paint(HDC dc) {
    RECT r{};
    GetClientRect(Wnd, &r);
    int saved = SaveDC(dc);
    SelectObject(dc, Font ? Font : static_cast<HFONT>(GetStockObject(SYSTEM_FONT)));
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    SetBkColor(dc, GetSysColor(COLOR_3DFACE));
    HWND p = Parent();
    auto brush = p ? reinterpret_cast<HBRUSH>(SendMessageW(p, WM_CTLCOLORSTATIC, WPARAM(dc), LPARAM(Wnd)))
                   : reinterpret_cast<HBRUSH>(DefWindowProcW(Wnd, WM_CTLCOLORSTATIC, WPARAM(dc), LPARAM(Wnd)));
    if (!brush) brush = GetSysColorBrush(COLOR_3DFACE);
    if (!IsWindow(Wnd)) {
      RestoreDC(dc, saved);
      return;
    }
    DWORD st = Style();
    switch (st & SS_TYPEMASK) {
      case SS_BLACKRECT: FillRect(dc, &r, GetSysColorBrush(COLOR_WINDOWFRAME)); break;
      case SS_GRAYRECT: FillRect(dc, &r, GetSysColorBrush(COLOR_BTNSHADOW)); break;
      case SS_WHITERECT: FillRect(dc, &r, GetSysColorBrush(COLOR_WINDOW)); break;
      case SS_BLACKFRAME: FrameRect(dc, &r, GetSysColorBrush(COLOR_WINDOWFRAME)); break;
      case SS_GRAYFRAME: FrameRect(dc, &r, GetSysColorBrush(COLOR_BTNSHADOW)); break;
      case SS_WHITEFRAME: FrameRect(dc, &r, GetSysColorBrush(COLOR_WINDOW)); break;
      case SS_ETCHEDFRAME: DrawEdge(dc, &r, EDGE_ETCHED, BF_RECT); break;
      case SS_ETCHEDHORZ: DrawEdge(dc, &r, EDGE_ETCHED, BF_TOP); break;
      case SS_ETCHEDVERT: DrawEdge(dc, &r, EDGE_ETCHED, BF_LEFT); break;
      case SS_OWNERDRAW: {
        DRAWITEMSTRUCT dis;
        dis.CtlType = ODT_STATIC;
        dis.CtlID = Id();
        dis.itemAction = ODA_DRAWENTIRE;
        dis.itemState = IsWindowEnabled(Wnd) ? 0 : ODS_DISABLED;
        dis.hwndItem = Wnd;
        dis.hDC = dc;
        dis.rcItem = r;
        if (p) SendMessageW(p, WM_DRAWITEM, WPARAM(dis.CtlID), LPARAM(&dis));
        break;
      }
      case SS_ICON:
      case SS_BITMAP: {
        FillRect(dc, &r, brush);
        SIZE s = ImageSize();
        int x = 0, y = 0;
        if (st & SS_CENTERIMAGE) {
          x = (r.right - s.cx) / 2;
          y = (r.bottom - s.cy) / 2;
        }
        if ((st & SS_TYPEMASK) == SS_ICON && Icon) {
          DrawIconEx(dc, x, y, Icon, s.cx, s.cy, 0, nullptr, DI_NORMAL);
        } else if (Bitmap) {
          HDC mem = CreateCompatibleDC(dc);
          HGDIOBJ old = SelectObject(mem, Bitmap);
          BitBlt(dc, x, y, s.cx, s.cy, mem, 0, 0, SRCCOPY);
          SelectObject(mem, old);
          DeleteDC(mem);
        }
        break;
      }
      default: {
        // Text styles.
        FillRect(dc, &r, brush);
        int len = GetWindowTextLengthW(Wnd);
        if (len <= 0) break;
        String text(size_t(len), u'\0');
        GetWindowTextW(Wnd, text.data(), len + 1);
        UINT fmt = DT_EXPANDTABS;
        switch (st & SS_TYPEMASK) {
          case SS_CENTER: fmt |= DT_CENTER | DT_WORDBREAK; break;
          case SS_RIGHT: fmt |= DT_RIGHT | DT_WORDBREAK; break;
          case SS_SIMPLE: fmt = DT_SINGLELINE | DT_LEFT | DT_NOCLIP; break;
          case SS_LEFTNOWORDWRAP: fmt |= DT_LEFT; break;
          default: fmt |= DT_LEFT | DT_WORDBREAK; break;
        }
        if (st & SS_NOPREFIX) fmt |= DT_NOPREFIX;
        if (st & SS_EDITCONTROL) fmt |= DT_EDITCONTROL;
        switch (st & SS_ELLIPSISMASK) {
          case SS_ENDELLIPSIS: fmt |= DT_END_ELLIPSIS; break;
          case SS_PATHELLIPSIS: fmt |= DT_PATH_ELLIPSIS; break;
          case SS_WORDELLIPSIS: fmt |= DT_WORD_ELLIPSIS; break;
          default: break;
        }
        if ((st & SS_CENTERIMAGE) && !(fmt & DT_WORDBREAK)) fmt |= DT_VCENTER | DT_SINGLELINE;
        SetBkMode(dc, TRANSPARENT);
        if (!IsWindowEnabled(Wnd)) SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
        DrawTextW(dc, text.c_str(), int(text.size()), &r, fmt);
        break;
      }
    }
    if (st & SS_SUNKEN) {
      RECT e{};
      GetClientRect(Wnd, &e);
      DrawEdge(dc, &e, BDR_SUNKENOUTER, BF_RECT);
    }
    RestoreDC(dc, saved);
  }
};

wnd::TControlStates<TStatic>& Statics() {
  static wnd::TControlStates<TStatic> states;
  return states;
}

// The live static control of a handle (nil once destroyed).
TStatic* StaticOf(HWND h) { return Statics().Find(h); }

LRESULT StaticProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    Statics().Make(h);
    return DefWindowProcW(h, msg, wp, lp);
  }
  TStatic* s = StaticOf(h);
  if (!s) return DefWindowProcW(h, msg, wp, lp);
  wnd::TControlStates<TStatic>::TGuard guard(Statics(), s);
  switch (msg) {
    case WM_NCDESTROY:
      s->Dead = true;
      return DefWindowProcW(h, msg, wp, lp);
    case WM_NCHITTEST:
      if (!(s->Style() & SS_NOTIFY)) return HTTRANSPARENT;
      return DefWindowProcW(h, msg, wp, lp);
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(h, &ps);
      if (dc) s->Paint(dc);
      EndPaint(h, &ps);
      return 0;
    }
    case WM_PRINTCLIENT:
      s->Paint(reinterpret_cast<HDC>(wp));
      return 0;
    case WM_ERASEBKGND:
      return 1;  // painting covers the control
    case WM_SETTEXT: {
      LRESULT r = DefWindowProcW(h, msg, wp, lp);
      InvalidateRect(h, nullptr, TRUE);
      return r;
    }
    case WM_SETFONT:
      s->Font = reinterpret_cast<HFONT>(wp);
      if (LOWORD(lp)) InvalidateRect(h, nullptr, TRUE);
      return 0;
    case WM_GETFONT:
      return LRESULT(s->Font);
    case WM_ENABLE:
      InvalidateRect(h, nullptr, TRUE);
      s->Notify(wp ? STN_ENABLE : STN_DISABLE);
      return 0;
    case WM_GETDLGCODE:
      return DLGC_STATIC;
    case WM_LBUTTONDOWN:
      s->Notify(STN_CLICKED);
      return 0;
    case WM_LBUTTONDBLCLK:
      s->Notify(STN_DBLCLK);
      return 0;
    case STM_SETIMAGE:
    case STM_SETICON: {
      WPARAM kind = msg == STM_SETICON ? IMAGE_ICON : wp;
      LPARAM image = msg == STM_SETICON ? LPARAM(wp) : lp;
      HANDLE old;
      if (kind == IMAGE_BITMAP) {
        old = s->Bitmap;
        s->Bitmap = reinterpret_cast<HBITMAP>(image);
      } else if (kind == IMAGE_ICON || kind == IMAGE_CURSOR) {
        old = s->Icon;
        s->Icon = reinterpret_cast<HICON>(image);
      } else {
        return 0;
      }
      s->FitToImage();
      InvalidateRect(h, nullptr, TRUE);
      return LRESULT(old);
    }
    case STM_GETIMAGE:
      return wp == IMAGE_BITMAP ? LRESULT(s->Bitmap) : (wp == IMAGE_ICON || wp == IMAGE_CURSOR) ? LRESULT(s->Icon) : 0;
    case STM_GETICON:
      return LRESULT(s->Icon);
    default:
      return DefWindowProcW(h, msg, wp, lp);
  }
}

}  // namespace

void RegisterStaticClass() {
  static bool done = false;
  if (done) return;
  done = true;
  WNDCLASSEXW c;
  c.cbSize = sizeof c;
  c.style = CS_DBLCLKS | CS_GLOBALCLASS;
  c.lpfnWndProc = &StaticProc;
  c.hInstance = HInstance;
  c.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  c.lpszClassName = u"STATIC";
  RegisterClassExW(&c);
}

}  // namespace win
