// MessageBoxW: a modal window of the window system itself, with the
// platform's buttons, default button, keys and return values. The reported
// system is Turkish, so the buttons carry the Turkish captions.
#include <algorithm>

#include "platform/win/WindowsInternal.h"

namespace win {

using namespace wnd;

namespace {

struct TBoxButton {
  int Id;
  const char16_t* Caption;  // "&" marks the accelerator
};

struct TBoxState {
  HWND Box{};
  std::vector<HWND> Buttons;
  std::vector<int> Ids;
  int Result = 0;
  bool Done = false;
  int Focused = 0;
  String Text;
  HICON Icon{};
  HFONT Font{};
};
TBoxState* Current = nullptr;

std::vector<TBoxButton> ButtonsOf(UINT type) {
  switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL: return {{IDOK, u"Tamam"}, {IDCANCEL, u"İptal"}};
    case MB_ABORTRETRYIGNORE: return {{IDABORT, u"&Durdur"}, {IDRETRY, u"&Yeniden Dene"}, {IDIGNORE, u"&Yoksay"}};
    case MB_YESNOCANCEL: return {{IDYES, u"&Evet"}, {IDNO, u"&Hayır"}, {IDCANCEL, u"İptal"}};
    case MB_YESNO: return {{IDYES, u"&Evet"}, {IDNO, u"&Hayır"}};
    case MB_RETRYCANCEL: return {{IDRETRY, u"&Yeniden Dene"}, {IDCANCEL, u"İptal"}};
    case MB_CANCELTRYCONTINUE:
      return {{IDCANCEL, u"İptal"}, {IDTRYAGAIN, u"&Yeniden Dene"}, {IDCONTINUE, u"&Devam"}};
    default: return {{IDOK, u"Tamam"}};
  }
}

char16_t AcceleratorOf(const String& caption) {
  for (size_t i = 0; i + 1 < caption.size(); ++i)
    if (caption[i] == u'&') return caption[i + 1];
  return 0;
}

char16_t Fold(char16_t c) {
  if (c >= u'a' && c <= u'z') return char16_t(c - 32);
  if (c == u'ı') return u'I';
  if (c == u'i') return u'İ';
  return c;
}

LRESULT ButtonProc(HWND h, UINT m, WPARAM w, LPARAM l) {
  switch (m) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(h, &ps);
      RECT r;
      GetClientRect(h, &r);
      bool focused = Current && Current->Focused < int(Current->Buttons.size()) &&
                     Current->Buttons[size_t(Current->Focused)] == h;
      FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
      if (focused) {
        FrameRect(dc, &r, GetSysColorBrush(COLOR_WINDOWFRAME));
        InflateRect(&r, -1, -1);
      }
      DrawFrameControl(dc, &r, DFC_BUTTON, DFCS_BUTTONPUSH);
      WCHAR text[64];
      int n = GetWindowTextW(h, text, 64);
      SetBkMode(dc, TRANSPARENT);
      if (Current && Current->Font) SelectObject(dc, Current->Font);
      DrawTextW(dc, text, n, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
      if (focused) {
        InflateRect(&r, -4, -4);
        DrawFocusRect(dc, &r);
      }
      EndPaint(h, &ps);
      return 0;
    }
    case WM_LBUTTONUP:
      if (Current) {
        for (size_t i = 0; i < Current->Buttons.size(); ++i)
          if (Current->Buttons[i] == h) {
            Current->Result = Current->Ids[i];
            Current->Done = true;
          }
      }
      return 0;
    default:
      return DefWindowProcW(h, m, w, l);
  }
}

LRESULT BoxProc(HWND h, UINT m, WPARAM w, LPARAM l) {
  switch (m) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(h, &ps);
      if (Current) {
        int x = 12;
        if (Current->Icon) {
          DrawIconEx(dc, 12, 12, Current->Icon, 32, 32, 0, nullptr, DI_NORMAL);
          x += 32 + 12;
        }
        RECT r;
        GetClientRect(h, &r);
        RECT t{x, 12, r.right - 12, r.bottom - 12 - 23 - 12};
        SetBkMode(dc, TRANSPARENT);
        if (Current->Font) SelectObject(dc, Current->Font);
        DrawTextW(dc, Current->Text.c_str(), int(Current->Text.size()), &t, DT_WORDBREAK | DT_NOPREFIX);
      }
      EndPaint(h, &ps);
      return 0;
    }
    case WM_CLOSE:
      // The close box answers like Escape: only when a cancel is offered.
      if (Current) {
        for (int id : Current->Ids)
          if (id == IDCANCEL || (Current->Ids.size() == 1 && id == IDOK)) {
            Current->Result = id;
            Current->Done = true;
          }
      }
      return 0;
    default:
      return DefWindowProcW(h, m, w, l);
  }
}

void EnsureClasses() {
  static bool done = false;
  if (done) return;
  done = true;
  WNDCLASSEXW c;
  c.cbSize = sizeof c;
  c.lpfnWndProc = &BoxProc;
  c.hInstance = HInstance;
  c.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  c.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
  c.lpszClassName = u"#32770";
  RegisterClassExW(&c);
  c.lpfnWndProc = &ButtonProc;
  c.lpszClassName = u"MessageBoxButton";
  RegisterClassExW(&c);
}

void FocusButton(int i) {
  if (!Current || Current->Buttons.empty()) return;
  int n = int(Current->Buttons.size());
  Current->Focused = ((i % n) + n) % n;
  for (HWND b : Current->Buttons) InvalidateRect(b, nullptr, TRUE);
}

// Keys that the box handles itself; answers whether the message was used.
bool BoxKey(const MSG& m) {
  if (!Current) return false;
  if (m.message == WM_KEYDOWN) {
    switch (m.wParam) {
      case VK_RETURN:
      case VK_SPACE:
        Current->Result = Current->Ids[size_t(Current->Focused)];
        Current->Done = true;
        return true;
      case VK_ESCAPE:
        SendMessageW(Current->Box, WM_CLOSE, 0, 0);
        return true;
      case VK_TAB:
        FocusButton(Current->Focused + ((GetKeyState(VK_SHIFT) & 0x8000) ? -1 : 1));
        return true;
      case VK_LEFT:
      case VK_UP:
        FocusButton(Current->Focused - 1);
        return true;
      case VK_RIGHT:
      case VK_DOWN:
        FocusButton(Current->Focused + 1);
        return true;
      default:
        return false;
    }
  }
  if (m.message == WM_CHAR || m.message == WM_SYSCHAR) {
    char16_t c = Fold(char16_t(m.wParam));
    for (size_t i = 0; i < Current->Buttons.size(); ++i) {
      WCHAR text[64];
      GetWindowTextW(Current->Buttons[i], text, 64);
      if (char16_t a = AcceleratorOf(text); a && Fold(a) == c) {
        Current->Result = Current->Ids[i];
        Current->Done = true;
        return true;
      }
    }
    return true;
  }
  return false;
}

}  // namespace

int MessageBoxW(HWND hWnd, LPCWSTR lpText, LPCWSTR lpCaption, UINT uType) {
  EnsureClasses();
  // Modes such as mouse capture end when a message box appears.
  if (HWND active = GetActiveWindow()) SendMessageW(active, WM_CANCELMODE, 0, 0);
  TBoxState state;
  state.Text = lpText ? lpText : u"";
  switch (uType & MB_ICONMASK) {
    case MB_ICONHAND: state.Icon = LoadIconW(nullptr, IDI_HAND); break;
    case MB_ICONQUESTION: state.Icon = LoadIconW(nullptr, IDI_QUESTION); break;
    case MB_ICONEXCLAMATION: state.Icon = LoadIconW(nullptr, IDI_EXCLAMATION); break;
    case MB_ICONASTERISK: state.Icon = LoadIconW(nullptr, IDI_ASTERISK); break;
    default: break;
  }
  NONCLIENTMETRICSW ncm{};
  ncm.cbSize = sizeof ncm;
  if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0))
    state.Font = CreateFontIndirectW(&ncm.lfMessageFont);
  // Layout: the text measured with word breaks up to two thirds of the screen.
  std::vector<TBoxButton> buttons = ButtonsOf(uType);
  SIZE screen = ScreenSize();
  HDC dc = GetDC(nullptr);
  HGDIOBJ oldFont = state.Font ? SelectObject(dc, state.Font) : nullptr;
  RECT tr{0, 0, screen.cx * 2 / 3, 0};
  DrawTextW(dc, state.Text.c_str(), int(state.Text.size()), &tr, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
  if (oldFont) SelectObject(dc, oldFont);
  ReleaseDC(nullptr, dc);
  const int bw = 75, bh = 23, gap = 6, margin = 12;
  int iconW = state.Icon ? 32 + margin : 0;
  int textH = std::max<int>(tr.bottom - tr.top, state.Icon ? 32 : 0);
  int buttonsW = int(buttons.size()) * bw + int(buttons.size() - 1) * gap;
  int clientW = std::max(iconW + int(tr.right - tr.left), buttonsW) + 2 * margin;
  int clientH = margin + textH + margin + bh + margin;
  DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
  RECT wr{0, 0, clientW, clientH};
  AdjustWindowRectEx(&wr, style, FALSE, WS_EX_DLGMODALFRAME);
  int w = wr.right - wr.left, h = wr.bottom - wr.top;
  HWND owner = hWnd ? GetAncestor(hWnd, GA_ROOT) : nullptr;
  RECT around{0, 0, screen.cx, screen.cy};
  if (owner) GetWindowRect(owner, &around);
  int x = std::max<int>(0, around.left + (around.right - around.left - w) / 2);
  int y = std::max<int>(0, around.top + (around.bottom - around.top - h) / 2);
  HWND box = CreateWindowExW(WS_EX_DLGMODALFRAME | ((uType & (MB_TOPMOST | MB_SYSTEMMODAL)) ? WS_EX_TOPMOST : 0),
                             u"#32770", lpCaption ? lpCaption : u"Hata", style, x, y, w, h, owner, nullptr, HInstance,
                             nullptr);
  if (!box) {
    if (state.Font) DeleteObject(state.Font);
    return 0;
  }
  TBoxState* saved = Current;
  Current = &state;
  state.Box = box;
  int bx = (clientW - buttonsW) / 2, by = clientH - margin - bh;
  for (const TBoxButton& b : buttons) {
    HWND bh2 = CreateWindowExW(0, u"MessageBoxButton", b.Caption, WS_CHILD | WS_VISIBLE, bx, by, bw, bh, box,
                               reinterpret_cast<HMENU>(uintptr_t(b.Id)), HInstance, nullptr);
    state.Buttons.push_back(bh2);
    state.Ids.push_back(b.Id);
    bx += bw + gap;
  }
  int def = int((uType & MB_DEFMASK) >> 8);
  state.Focused = def < int(buttons.size()) ? def : 0;
  bool ownerWasEnabled = owner && IsWindowEnabled(owner);
  if (ownerWasEnabled) EnableWindow(owner, FALSE);
  MessageBeep(uType & MB_ICONMASK);
  ShowWindow(box, SW_SHOW);
  SetFocus(box);
  bool quit = false;
  int quitCode = 0;
  while (!state.Done && IsWindow(box)) {
    MSG m;
    if (!GetMessageW(&m, nullptr, 0, 0)) {
      quit = true;
      quitCode = int(m.wParam);
      break;
    }
    bool mine = m.hwnd == box || IsChild(box, m.hwnd);
    if (mine && BoxKey(m)) continue;
    TranslateMessage(&m);
    DispatchMessageW(&m);
  }
  if (ownerWasEnabled && IsWindow(owner)) EnableWindow(owner, TRUE);
  if (IsWindow(box)) DestroyWindow(box);
  if (owner && IsWindow(owner)) SetActiveWindow(owner);
  Current = saved;
  if (state.Font) DeleteObject(state.Font);
  if (quit) PostQuitMessage(quitCode);
  return state.Done ? state.Result : 0;
}

}  // namespace win
