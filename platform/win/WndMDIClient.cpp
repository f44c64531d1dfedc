// The "MDICLIENT" window class: the client window of an MDI frame, the
// parent of the frame's MDI child windows (WS_EX_MDICHILD). It keeps which
// child is active: WM_MDIACTIVATE (WParam the child) brings that child to
// the top and tells both children (WM_MDIACTIVATE with WParam the child
// losing and LParam the child gaining the activation); WM_MDIGETACTIVE
// answers it, or, when it went away, the topmost visible MDI child. Its
// background is the application workspace colour.
#include <unordered_map>

#include "platform/win/Gdi.h"
#include "platform/win/WinControls.h"
#include "platform/win/Windows.h"

namespace win {

namespace {

// The active child of each client window.
std::unordered_map<HWND, HWND>& ActiveChildren() {
  static auto* m = new std::unordered_map<HWND, HWND>();
  return *m;
}

bool IsMDIChildOf(HWND AClient, HWND AChild) {
  return AChild && IsWindow(AChild) && GetParent(AChild) == AClient &&
         (GetWindowLongW(AChild, GWL_EXSTYLE) & WS_EX_MDICHILD) != 0;
}

HWND ActiveChild(HWND AClient) {
  auto it = ActiveChildren().find(AClient);
  if (it != ActiveChildren().end() && IsMDIChildOf(AClient, it->second)) return it->second;
  for (HWND w = GetWindow(AClient, GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT))
    if (IsMDIChildOf(AClient, w) && IsWindowVisible(w)) return w;
  return nullptr;
}

LRESULT MDIClientProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_MDIGETACTIVE:
      return LRESULT(ActiveChild(h));
    case WM_MDIACTIVATE: {
      HWND child = reinterpret_cast<HWND>(wp);
      if (!IsMDIChildOf(h, child)) return 0;
      HWND previous = ActiveChild(h);
      ActiveChildren()[h] = child;
      SetWindowPos(child, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
      if (previous == child) return 0;
      if (previous) SendMessageW(previous, WM_MDIACTIVATE, WPARAM(previous), LPARAM(child));
      SendMessageW(child, WM_MDIACTIVATE, WPARAM(previous), LPARAM(child));
      return 0;
    }
    case WM_ERASEBKGND: {
      RECT r;
      GetClientRect(h, &r);
      FillRect(reinterpret_cast<HDC>(wp), &r, GetSysColorBrush(COLOR_APPWORKSPACE));
      return 1;
    }
    case WM_NCDESTROY:
      ActiveChildren().erase(h);
      return DefWindowProcW(h, msg, wp, lp);
    default:
      return DefWindowProcW(h, msg, wp, lp);
  }
}

}  // namespace

void RegisterMDIClientClass() {
  static bool done = false;
  if (done) return;
  done = true;
  WNDCLASSEXW c;
  c.cbSize = sizeof c;
  c.style = CS_GLOBALCLASS;
  c.lpfnWndProc = &MDIClientProc;
  c.hInstance = HInstance;
  c.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  c.lpszClassName = u"MDICLIENT";
  RegisterClassExW(&c);
}

}  // namespace win
