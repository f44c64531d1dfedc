// The window system's way to a display: an abstract backend that the
// headless and SDL2 backends (platform/backend) implement and install, and
// the entry points through which a backend feeds input into the window
// system and reads the top-level windows it shows.
//
// The window system never includes a backend's header; without a backend it
// runs on its in-memory screen and nothing is shown.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/win/Windows.h"

namespace win {

class TBackend {
 public:
  virtual ~TBackend() = default;

  // A top-level window changed in a way the display shows: shown, hidden,
  // moved, sized, restacked, repainted or drawn on outside painting, its
  // region or alpha changed. Area: the part whose pixels changed, in the
  // window's coordinates (nil: the whole window, or more than its pixels).
  // Drawing threads report too.
  virtual void WindowChanged(HWND Wnd, const RECT* Area) {}
  // Something was drawn on the screen through a screen DC (GetDC(nullptr));
  // Area in screen coordinates. See ComposeScreen.
  virtual void ScreenChanged(const RECT& Area) {}
  // A top-level window is being destroyed.
  virtual void WindowDestroyed(HWND) {}
  // The current cursor changed (nil: no cursor).
  virtual void CursorChanged(HCURSOR) {}
  // SetCursorPos moved the pointer.
  virtual void CursorMoved(POINT) {}
  // Called by the message loops before they look for input: the backend
  // feeds its pending events in through the Inject functions.
  virtual void PumpEvents() {}
  // The longest a message loop may wait before calling PumpEvents again
  // (INFINITE: the backend has no events of its own).
  virtual DWORD PollInterval() const { return INFINITE; }
  // Whether the caret blinks (a real display); otherwise it is drawn
  // steadily, so that pictures taken by tests are stable.
  virtual bool BlinksCaret() const { return false; }
  // The system clipboard, for a backend that shares it with other programs.
  // ClipboardText answers true with the system's Unicode text when it
  // changed since it was last read or set (OpenClipboard then takes it in);
  // SetClipboardText publishes the text the program put on the clipboard
  // (CloseClipboard after a change).
  virtual bool ClipboardText(String& Text) { return false; }
  virtual void SetClipboardText(const String& Text) {}
  // Outside services. PlaySound plays a sound (Name: an alias, a file name
  // with SND_FILENAME, empty: stop) with the PlaySoundW flags; OpenDocument
  // hands a document or address to the desktop's opener. Both answer
  // whether it was done; without a backend nothing is.
  virtual bool PlaySound(const String& Name, DWORD Flags) { return false; }
  virtual bool OpenDocument(const String& Target) { return false; }
};

// Installs the backend (nil: none); answers the previous one. The caller
// keeps ownership.
TBackend* SetBackend(TBackend* Backend);
TBackend* CurrentBackend();

// The virtual screen's size; setting it replaces the screen surface and
// the monitor's rectangles (work area = screen).
SIZE ScreenSize();
void SetScreenSize(int Width, int Height);
// Monitors beside the primary one (the screen surface): each its monitor and
// work rectangles in virtual-screen coordinates. They answer the monitor
// functions; nothing is drawn for them. An empty list leaves the primary alone.
void SetExtraMonitors(const std::vector<std::pair<RECT, RECT>>& Monitors);

// Input from the backend, on the main thread. Positions are in screen
// coordinates. Buttons are VK_LBUTTON, VK_RBUTTON, VK_MBUTTON, VK_XBUTTON1,
// VK_XBUTTON2 (physical buttons: swapped buttons are applied here).
void InjectMouseMove(POINT Pt);
void InjectMouseButton(int Button, bool Down, POINT Pt);
void InjectMouseWheel(int Delta, bool Horizontal, POINT Pt);
// A key press or release. Repeat counts auto-repeated presses.
void InjectKey(UINT VirtualKey, bool Down, UINT Repeat = 1, bool Extended = false);
// A character from an input method (WM_CHAR to the focus window).
void InjectChar(WCHAR Ch);
// The application gained or lost activation from outside (another program).
void InjectAppActivation(bool Active);

// A top-level window as the display composes it: screen rectangle, the
// backing pixels (32-bit, top-down, Width x Height of the rectangle), the
// window region (window coordinates, nil: none) and the layered attributes.
struct TTopLevelView {
  HWND Handle{};
  RECT Rect{};
  const uint32_t* Pixels{};
  ptrdiff_t Stride{};  // in pixels
  HRGN Region{};       // owned by the window system
  bool Layered{};
  bool PerPixelAlpha{};  // UpdateLayeredWindow: premultiplied alpha in the pixels
  bool UseColorKey{};
  COLORREF ColorKey{};
  BYTE Alpha = 255;
  bool DropShadow{};
};
// The visible top-level windows, bottom of the z-order first.
std::vector<TTopLevelView> VisibleTopLevelWindows();
// Paints every window that needs it (WM_NCPAINT, WM_ERASEBKGND, WM_PAINT)
// without waiting for the message loop.
void PaintPendingWindows();

// The screen as a display shows it. ComposeScreen composes the desktop
// colour and the visible top-level windows, bottom first (regions, drop
// shadows, constant and per-pixel alpha, colour keys), and writes the
// picture into the screen surface where it changed since the last
// composition; elsewhere the screen keeps what screen DCs drew on it, as a
// real screen does until the windows under the drawing change. ScreenPixels
// is the screen surface, ComposedScreenPixels the windows' picture of the
// last composition (both ScreenSize(), rows of Width pixels; nil before the
// first composition): where they differ the screen shows a screen DC's
// drawing. Main thread only.
void ComposeScreen();
const uint32_t* ScreenPixels();
const uint32_t* ComposedScreenPixels();

// The clock of the message loop (milliseconds, GetTickCount's clock). A test
// may take it over: while a manual clock is set, timers and double clicks
// see only the time the test advances.
DWORD MessageClock();
void SetManualClock(bool Manual);
void AdvanceManualClock(DWORD Milliseconds);

}  // namespace win
