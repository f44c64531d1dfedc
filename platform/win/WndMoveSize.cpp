// Moving and sizing a window with the mouse or the keyboard: the modal loop
// that DefWindowProc runs for WM_SYSCOMMAND SC_MOVE and SC_SIZE (a press on
// the caption or on a sizing border starts it).
#include <algorithm>

#include "platform/win/WindowsInternal.h"

namespace win {

using namespace wnd;

namespace {

// A keyboard step of the loop, in pixels.
constexpr int KeyStep = 8;

RECT Offset(RECT r, int dx, int dy) { return RECT{r.left + dx, r.top + dy, r.right + dx, r.bottom + dy}; }

// The track sizes of the window, as WM_GETMINMAXINFO answers them.
MINMAXINFO TrackSizes(HWND h) {
  MINMAXINFO mmi;
  SIZE s = ScreenSize();
  mmi.ptMaxSize = POINT{s.cx, s.cy};
  mmi.ptMinTrackSize = POINT{GetSystemMetrics(SM_CXMINTRACK), GetSystemMetrics(SM_CYMINTRACK)};
  mmi.ptMaxTrackSize = POINT{GetSystemMetrics(SM_CXMAXTRACK), GetSystemMetrics(SM_CYMAXTRACK)};
  SendMessageW(h, WM_GETMINMAXINFO, 0, LPARAM(&mmi));
  mmi.ptMinTrackSize.x = std::clamp<LONG>(mmi.ptMinTrackSize.x, 0, MaxCoord);
  mmi.ptMinTrackSize.y = std::clamp<LONG>(mmi.ptMinTrackSize.y, 0, MaxCoord);
  mmi.ptMaxTrackSize.x = std::clamp<LONG>(mmi.ptMaxTrackSize.x, mmi.ptMinTrackSize.x, MaxCoord);
  mmi.ptMaxTrackSize.y = std::clamp<LONG>(mmi.ptMaxTrackSize.y, mmi.ptMinTrackSize.y, MaxCoord);
  return mmi;
}

bool LeftEdge(WPARAM e) { return e == WMSZ_LEFT || e == WMSZ_TOPLEFT || e == WMSZ_BOTTOMLEFT; }
bool RightEdge(WPARAM e) { return e == WMSZ_RIGHT || e == WMSZ_TOPRIGHT || e == WMSZ_BOTTOMRIGHT; }
bool TopEdge(WPARAM e) { return e == WMSZ_TOP || e == WMSZ_TOPLEFT || e == WMSZ_TOPRIGHT; }
bool BottomEdge(WPARAM e) { return e == WMSZ_BOTTOM || e == WMSZ_BOTTOMLEFT || e == WMSZ_BOTTOMRIGHT; }

// The rectangle of a drag by (dx, dy): moved, or its edges moved within the
// track sizes (the opposite edge stays).
RECT Dragged(const RECT& from, bool sizing, WPARAM edge, int dx, int dy, const MINMAXINFO& mmi) {
  if (!sizing) return Offset(from, dx, dy);
  RECT r = from;
  LONG minW = mmi.ptMinTrackSize.x, maxW = mmi.ptMaxTrackSize.x;
  LONG minH = mmi.ptMinTrackSize.y, maxH = mmi.ptMaxTrackSize.y;
  if (LeftEdge(edge)) r.left = r.right - std::clamp<LONG>(from.right - (from.left + dx), minW, maxW);
  if (RightEdge(edge)) r.right = r.left + std::clamp<LONG>(from.right + dx - from.left, minW, maxW);
  if (TopEdge(edge)) r.top = r.bottom - std::clamp<LONG>(from.bottom - (from.top + dy), minH, maxH);
  if (BottomEdge(edge)) r.bottom = r.top + std::clamp<LONG>(from.bottom + dy - from.top, minH, maxH);
  return r;
}

}  // namespace

namespace wnd {

void MoveSizeLoop(TWnd* w, WPARAM command, POINT start) {
  HWND h = w->Handle;
  if (w->Style & (WS_MAXIMIZE | WS_MINIMIZE)) return;
  bool sizing = (command & 0xFFF0) == SC_SIZE;
  WPARAM edge = command & 0x000F;
  bool keyboard = edge == 0;
  if (sizing && edge > WMSZ_BOTTOMRIGHT) return;
  if (keyboard) start = Input().Cursor;
  // Points of the drag are screen points; the window's rectangle is kept in
  // screen coordinates too (as WM_MOVING and WM_SIZING carry it) and turned
  // into its parent's for SetWindowPos.
  POINT parentOrigin = IsTopLevel(w) ? POINT{0, 0} : ClientOrigin(w->Parent);
  RECT original = Offset(w->Window, parentOrigin.x, parentOrigin.y);

  MINMAXINFO mmi = TrackSizes(h);
  if (!IsWindow(h)) return;
  SendMessageW(h, WM_ENTERSIZEMOVE, 0, 0);
  if (!IsWindow(h)) return;
  SetCapture(h);

  POINT keys{};  // the arrow keys' share of the drag
  POINT mouse = start;
  RECT shown = original;
  auto place = [&](const RECT& r) {
    UINT flags = SWP_NOZORDER | SWP_NOACTIVATE | (sizing ? 0 : SWP_NOSIZE);
    SetWindowPos(h, nullptr, r.left - parentOrigin.x, r.top - parentOrigin.y, r.right - r.left,
                 r.bottom - r.top, flags);
  };
  auto track = [&]() {
    RECT r = Dragged(original, sizing, edge, mouse.x - start.x + keys.x, mouse.y - start.y + keys.y, mmi);
    if (r == shown) return;
    SendMessageW(h, sizing ? WM_SIZING : WM_MOVING, sizing ? edge : 0, LPARAM(&r));
    if (!IsWindow(h)) return;
    shown = r;
    place(r);
  };

  for (;;) {
    if (!IsWindow(h) || GetCapture() != h) break;
    MSG m;
    if (!PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
      // Input that arrived before the capture went where the pointer was:
      // the drag follows the pointer, and a released button ends it.
      if (!keyboard) {
        mouse = Input().Cursor;
        track();
        int button = GetSystemMetrics(SM_SWAPBUTTON) ? VK_RBUTTON : VK_LBUTTON;
        if (!(GetAsyncKeyState(button) & 0x8000)) break;
      }
      MsgWaitForMultipleObjects(0, nullptr, FALSE, INFINITE, QS_ALLINPUT);
      continue;
    }
    if (m.message == WM_QUIT) {
      PostQuitMessage(int(m.wParam));
      break;
    }
    UINT msg = m.message;
    if (msg == WM_MOUSEMOVE || msg == WM_NCMOUSEMOVE) {
      if (!keyboard || !sizing || edge) {
        mouse = m.pt;
        track();
      }
      continue;
    }
    if (msg == WM_LBUTTONUP || msg == WM_NCLBUTTONUP) {
      if (!keyboard) break;
      continue;
    }
    if (msg == WM_LBUTTONDOWN || msg == WM_NCLBUTTONDOWN || msg == WM_RBUTTONDOWN ||
        msg == WM_NCRBUTTONDOWN) {
      if (keyboard) break;  // a click ends a keyboard move where the window is
      continue;
    }
    if (msg == WM_KEYDOWN || msg == WM_SYSKEYDOWN) {
      if (m.wParam == VK_ESCAPE) {
        if (IsWindow(h) && shown != original) place(original);
        break;
      }
      if (m.wParam == VK_RETURN) break;
      int dx = 0, dy = 0;
      switch (m.wParam) {
        case VK_LEFT:
          dx = -KeyStep;
          break;
        case VK_RIGHT:
          dx = KeyStep;
          break;
        case VK_UP:
          dy = -KeyStep;
          break;
        case VK_DOWN:
          dy = KeyStep;
          break;
        default:
          break;
      }
      if (dx || dy) {
        // Sizing from the keyboard: the first arrow picks the edge.
        if (sizing && !edge)
          edge = dx < 0 ? WMSZ_LEFT : dx > 0 ? WMSZ_RIGHT : dy < 0 ? WMSZ_TOP : WMSZ_BOTTOM;
        keys.x += dx;
        keys.y += dy;
        track();
      }
      continue;
    }
    if ((msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST) ||
        (msg >= WM_NCMOUSEMOVE && msg <= WM_NCXBUTTONDBLCLK) || (msg >= WM_KEYFIRST && msg <= WM_KEYLAST))
      continue;  // input belongs to the loop
    TranslateMessage(&m);
    DispatchMessageW(&m);
  }
  if (GetCapture() == h) ReleaseCapture();
  if (IsWindow(h)) SendMessageW(h, WM_EXITSIZEMOVE, 0, 0);
}

}  // namespace wnd

}  // namespace win
