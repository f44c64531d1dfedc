// The SDL2 backend: every visible top-level window is a real window on the
// display, real keyboard, text and mouse input enters the window system
// through the same injection path as the headless backend's, the system
// clipboard carries Unicode text and the standard cursors are the system's.
//
//   auto sdl = backend::TSdlBackend::Open();   // nil: no display
//   ... the program's message loop runs; windows show as they paint ...
//
// Windows with a caption are framed by the window manager and show the part
// of the window inside our own caption and outer frame; other windows are
// borderless at their screen positions (owned, tool and topmost popups as
// override-redirect popups that never take the keyboard focus).
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "platform/rtl/Types.h"
#include "platform/win/Backend.h"

struct SDL_Window;
struct SDL_Cursor;
union SDL_Event;

namespace backend {

class TSdlBackend : public win::TBackend {
 public:
  // Initializes SDL's video and installs the backend with a virtual screen
  // of the display's size; nil when SDL cannot reach a display. The
  // destructor uninstalls it and shuts SDL's video down.
  static std::unique_ptr<TSdlBackend> Open();
  ~TSdlBackend() override;
  TSdlBackend(const TSdlBackend&) = delete;
  TSdlBackend& operator=(const TSdlBackend&) = delete;

  // Shows every window whose picture changed since it was last shown.
  void Present();

  // The real window that shows a top-level window (nil: not shown), its SDL
  // id, and the screen point of its top left pixel.
  SDL_Window* NativeWindow(win::HWND Wnd) const;
  uint32_t NativeWindowId(win::HWND Wnd) const;
  // The pixels the real window shows (0x00RRGGBB, top-down); false when the
  // window is not shown.
  bool ReadWindowPixels(win::HWND Wnd, std::vector<uint32_t>& Pixels, int& Width, int& Height) const;

  void WindowChanged(win::HWND Wnd, const win::RECT* Area) override;
  void ScreenChanged(const win::RECT& Area) override;
  void WindowDestroyed(win::HWND Wnd) override;
  void CursorChanged(win::HCURSOR Cursor) override;
  void CursorMoved(win::POINT Pt) override;
  void PumpEvents() override;
  win::DWORD PollInterval() const override { return 10; }
  bool BlinksCaret() const override { return true; }
  bool ClipboardText(String& Text) override;
  void SetClipboardText(const String& Text) override;
  // The desktop's opener (SDL_OpenURL). Sounds are not played: the display
  // has no sound theme of ours.
  bool OpenDocument(const String& Target) override;

 private:
  struct TShown {
    SDL_Window* Window{};
    uint32_t Id = 0;
    bool Framed = false;     // decorated by the window manager
    win::RECT Insets{};      // our caption and frame, hidden under the manager's
    win::RECT Placed{};      // the screen rectangle last given to the real window
    bool Visible = false;
    String Title;
    win::BYTE Opacity = 255;
    bool Shaped = false;              // made as a shaped window
    int ShapeWidth = 0, ShapeHeight = 0;
    std::vector<uint8_t> Mask;        // the shape last given (1: shown)
  };

  // What of a window must be shown again: all of it, or an area in its
  // window coordinates.
  struct TDirty {
    bool Whole = false;
    win::RECT Area{};
  };

  TSdlBackend() = default;
  TShown* Find(win::HWND Wnd);
  const TShown* Find(win::HWND Wnd) const;
  win::HWND FromId(uint32_t Id) const;
  bool Show(const win::TTopLevelView& View, const String& Title, TShown& Shown, const TDirty* Dirty);
  // Marks a window to be shown again (nil area: all of it); under FDirtyLock.
  void MarkDirty(win::HWND Wnd, const win::RECT* Area);
  void Hide(TShown& Shown);
  // Shows the screen DC drawing that lies outside the program's real
  // windows in a window of its own, shaped to the drawn pixels; hides it
  // when there is none.
  void ShowScreenDrawing();
  // Gives an unframed window the shape of its region, colour key and
  // per-pixel alpha (where the display can shape windows).
  void Shape(const win::TTopLevelView& View, TShown& Shown, int Width, int Height);
  // Gives a shaped window a new mask (1: shown), unless it has it already.
  static void SetShape(TShown& Shown, std::vector<uint8_t>& Mask, int Width, int Height);
  // The screen point of a position inside a real window.
  win::POINT ToScreen(uint32_t WindowId, int X, int Y) const;
  // Turns pending SDL events into window-system input.
  void Dispatch(const std::vector<SDL_Event>& Events);
  // A key press or release; Next is the event after it (text it produced).
  // Answers whether Next was consumed.
  bool HandleKey(const SDL_Event& Event, const SDL_Event* Next);
  void HandleWindowEvent(const SDL_Event& Event);

  std::map<win::HWND, TShown> FShown;
  mutable std::mutex FDirtyLock;  // WindowChanged may come from a drawing thread
  std::map<win::HWND, TDirty> FDirty;
  win::RECT FScreenDrawn{};  // screen DC drawing not shown yet (screen coordinates)
  // Screen DC drawing shows over the windows (the screen differs from the
  // windows' picture somewhere).
  bool FOverlay = false;
  // The window that shows screen DC drawing outside the real windows.
  TShown FDrawing;
  std::map<int, SDL_Cursor*> FCursors;  // system cursors by SDL id
  SDL_Cursor* FCustomCursor{};          // the shown cursor made from a cursor's bitmaps
  std::string FClipboard;               // the system's text last exchanged (UTF-8)
  bool FClipboardKnown = false;
  win::POINT FMouse{};
  bool FFocusLost = false;
  win::TBackend* FPrevious{};
  bool FPresenting = false;
  bool FShapesFailed = false;  // the display cannot shape windows
  uint64_t FLastPoll = 0;  // SDL's millisecond clock at the last look for events
};

}  // namespace backend
