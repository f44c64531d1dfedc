// AnimateWindow: showing or hiding a top-level window in frames (rolled or
// slid from an edge, grown from the centre, or faded), each shown by the
// backend, the loop painting as it goes.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <thread>

#include "platform/win/WindowsInternal.h"

namespace win {

using namespace wnd;

namespace {

// The time between frames.
constexpr DWORD FrameTime = 10;

constexpr DWORD Directions = AW_HOR_POSITIVE | AW_HOR_NEGATIVE | AW_VER_POSITIVE | AW_VER_NEGATIVE;

struct TFrame {
  RECT Visible{};  // the part shown, in window coordinates
  POINT Offset{};  // a slide's shift of the picture
  BYTE Alpha = 255;
};

// The frame of a W x H window when the fraction t (0 to 1) of it is shown.
TFrame FrameAt(int W, int H, DWORD flags, double t) {
  TFrame f;
  f.Visible = RECT{0, 0, W, H};
  if (flags & AW_BLEND) {
    f.Alpha = BYTE(std::lround(255.0 * t));
    return f;
  }
  int sw = int(std::lround(W * t)), sh = int(std::lround(H * t));
  if (flags & AW_CENTER) {
    f.Visible = RECT{(W - sw) / 2, (H - sh) / 2, (W - sw) / 2 + sw, (H - sh) / 2 + sh};
    return f;
  }
  // A roll uncovers the window in place; a slide moves it in from the edge
  // it starts at, the leading part of the picture first.
  bool slide = (flags & AW_SLIDE) != 0;
  if (flags & AW_HOR_POSITIVE) {
    if (slide) {
      f.Visible.left = W - sw;
      f.Offset.x = -(W - sw);
    } else {
      f.Visible.right = sw;
    }
  } else if (flags & AW_HOR_NEGATIVE) {
    if (slide) {
      f.Visible.right = sw;
      f.Offset.x = W - sw;
    } else {
      f.Visible.left = W - sw;
    }
  }
  if (flags & AW_VER_POSITIVE) {
    if (slide) {
      f.Visible.top = H - sh;
      f.Offset.y = -(H - sh);
    } else {
      f.Visible.bottom = sh;
    }
  } else if (flags & AW_VER_NEGATIVE) {
    if (slide) {
      f.Visible.bottom = sh;
      f.Offset.y = H - sh;
    } else {
      f.Visible.top = H - sh;
    }
  }
  return f;
}

void EndFrames(HWND h) {
  if (TWnd* w = Find(h)) {
    w->Animating = false;
    w->AnimAlpha = 255;
    w->AnimRegion = nullptr;
    w->AnimOffset = POINT{};
    NotifyBackend(w);
  }
}

}  // namespace

BOOL AnimateWindow(HWND hWnd, DWORD dwTime, DWORD dwFlags) {
  TWnd* w = Find(hWnd);
  if (!w || w->Animating) return FALSE;
  bool hide = (dwFlags & AW_HIDE) != 0;
  if (hide ? !w->Visible() : w->Visible()) return FALSE;
  int showCmd = (dwFlags & AW_ACTIVATE) ? SW_SHOW : SW_SHOWNA;
  // Frames are shown for top-level windows; a child window (and a call
  // without an effect or a time) reaches its end state at once.
  bool frames = IsTopLevel(w) && dwTime > 0 && (dwFlags & (AW_BLEND | AW_CENTER | Directions));
  if (!frames) {
    ShowWindow(hWnd, hide ? SW_HIDE : showCmd);
    return TRUE;
  }
  HRGN frame = CreateRectRgn(0, 0, 0, 0);
  auto apply = [&](double t) {
    TWnd* x = Find(hWnd);
    if (!x) return false;
    TFrame f = FrameAt(x->Width(), x->Height(), dwFlags, t);
    x->Animating = true;
    x->AnimAlpha = f.Alpha;
    x->AnimOffset = f.Offset;
    x->AnimRegion = nullptr;
    if (!(dwFlags & AW_BLEND)) {
      SetRectRgn(frame, f.Visible.left, f.Visible.top, f.Visible.right, f.Visible.bottom);
      if (x->Region) CombineRgn(frame, frame, x->Region, RGN_AND);
      x->AnimRegion = frame;
    }
    NotifyBackend(x);
    return true;
  };
  apply(hide ? 1.0 : 0.0);
  if (!hide) {
    ShowWindow(hWnd, showCmd);
    UpdateWindow(hWnd);
  }
  DWORD start = Now();
  for (;;) {
    DWORD elapsed = Now() - start;
    double p = std::min(1.0, double(elapsed) / double(dwTime));
    if (!apply(hide ? 1.0 - p : p)) break;
    PaintPendingWindows();
    if (TBackend* b = CurrentBackend()) b->PumpEvents();
    if (p >= 1.0) break;
    DWORD step = std::min(FrameTime, dwTime - elapsed);
    // Under a test's manual clock the frames advance it, so an animation
    // takes no real time and shows the same frames every run.
    if (ManualClockOn())
      AdvanceManualClock(step);
    else
      std::this_thread::sleep_for(std::chrono::milliseconds(step));
  }
  if (hide && IsWindow(hWnd)) ShowWindow(hWnd, SW_HIDE);
  EndFrames(hWnd);
  DeleteObject(frame);
  return TRUE;
}

}  // namespace win
