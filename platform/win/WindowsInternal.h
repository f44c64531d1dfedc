// Internals of the window system shared by its source files: windows and
// classes, the thread queues, timers and hooks, and the helpers that cross
// areas (coordinates, painting, focus).
//
// The window tree, classes, timers, hooks, focus and capture are touched only
// by the thread that owns the windows (the main thread). The queues are also
// reached by other threads (posting, sending); their shared part is guarded
// by the process's wait lock (TWaitLock), which also serves
// MsgWaitForMultipleObjects. The window table is guarded by its own mutex so
// that other threads may resolve a handle to its owning thread.
#pragma once

#include <deque>
#include <map>
#include <memory>
#include <vector>

#include "platform/classes/Threads.h"
#include "platform/win/Backend.h"
#include "platform/win/GdiInternal.h"
#include "platform/win/Windows.h"

namespace win::wnd {

using gdi::TRgn;

// The largest coordinate or size a window takes (larger values are clamped),
// so that every sum of coordinates stays inside int.
constexpr int MaxCoord = 1 << 24;

struct TWndClass {
  String Name;
  ATOM Atom = 0;
  UINT Style = 0;
  WNDPROC Proc;
  int ClsExtra = 0;
  int WndExtra = 0;
  HINSTANCE Instance{};
  HICON Icon{};
  HICON IconSm{};
  HCURSOR Cursor{};
  HBRUSH Background{};
  String MenuName;
  std::vector<BYTE> Extra;
  int Windows = 0;  // live windows of the class
};

struct TScrollBar {
  int Min = 0, Max = 100;
  UINT Page = 0;
  int Pos = 0;
  int TrackPos = 0;
  UINT Disabled = 0;  // ESB_DISABLE_* bits
  bool Tracking = false;
};

struct TWnd {
  HWND Handle{};
  TWndClass* Class{};
  DWORD Style = 0, ExStyle = 0;
  WNDPROC Proc;
  LONG_PTR UserData = 0;
  LONG_PTR Id = 0;
  HINSTANCE Instance{};
  DWORD ThreadId = 0;
  TWnd* Parent{};               // nil only for the desktop
  TWnd* Owner{};
  std::vector<TWnd*> Children;  // z-order: the first is the topmost
  RECT Window{};                // in the parent's client coordinates
  RECT Client{};                // in window coordinates (0, 0 = the window's top left)
  String Text;
  std::vector<BYTE> Extra;
  std::vector<std::pair<String, HANDLE>> Props;
  TScrollBar Scroll[2];         // SB_HORZ, SB_VERT
  // Painting: the update region in client coordinates.
  TRgn Update;
  bool UpdateErase = false;
  bool NcUpdate = false;
  bool InternalPaint = false;
  bool InPaint = false;          // between BeginPaint and EndPaint
  bool PaintValidated = false;   // BeginPaint or a validation ran during WM_PAINT
  bool Redraw = true;            // WM_SETREDRAW
  // State
  bool Created = false;          // WM_NCCREATE has been sent
  bool Destroying = false;
  bool Maximized = false, Minimized = false;
  RECT Normal{};                 // the restored rectangle of a maximized or minimized window
  // Shape and layering
  HRGN Region{};                 // window coordinates
  bool LayeredAttributes = false;
  DWORD LayeredFlags = 0;
  COLORREF ColorKey = 0;
  BYTE Alpha = 255;
  bool PerPixel = false;
  // AnimateWindow's current frame (top-level windows): while it runs the
  // display shows the window shifted, clipped to the frame's region (window
  // coordinates, owned by the animation) and with the frame's alpha.
  bool Animating = false;
  BYTE AnimAlpha = 255;
  HRGN AnimRegion{};
  POINT AnimOffset{};
  // Top-level windows: the backing store of the whole window.
  std::vector<uint32_t> Pixels;
  int PixWidth = 0, PixHeight = 0;
  // Object instance installed by AllocateHWnd (freed with the window).
  WNDPROC AllocatedInstance;
  HICON IconSmall{}, IconBig{};
  HFONT Font{};

  bool Visible() const { return (Style & WS_VISIBLE) != 0; }
  bool IsChild() const { return (Style & (WS_CHILD | WS_POPUP)) == WS_CHILD; }
  int Width() const { return Window.right - Window.left; }
  int Height() const { return Window.bottom - Window.top; }
};

// ---------------------------------------------------------------------------
// Windows and classes (WndCore.cpp)

// The window of a handle (the desktop too), or nil. Owner thread only.
TWnd* Find(HWND h);
// The desktop window (the root of every tree).
TWnd* Desktop();
// Whether the window is a top-level one (child of the desktop).
inline bool IsTopLevel(const TWnd* w) { return w->Parent && !w->Parent->Parent; }
TWnd* TopLevelOf(TWnd* w);
// The owning thread of a handle, 0 for a dead one; any thread.
DWORD OwnerThreadOf(HWND h);
// Visible and every ancestor visible.
bool ReallyVisible(const TWnd* w);
// Calls the window procedure (with the WH_CALLWNDPROC hooks for sent messages).
LRESULT CallProc(TWnd* w, UINT msg, WPARAM wp, LPARAM lp);
// All windows of the tree under root, pre-order (root first, children in z-order).
void Collect(TWnd* root, std::vector<TWnd*>& out);

// A call from a thread other than the windows' owner (a worker moving or
// drawing into a main-thread window): it runs on the main thread as a
// synchronized call, which the main thread serves in its message loops and
// while it waits for threads, so the tree is only ever touched by its owner.
bool MustMarshal(HWND h);
// The calling thread's id and whether it is the main thread, kept per thread
// (asking the system costs a system call on every message).
DWORD ThisThreadId();
bool OnMainThread();
template <class R, class F>
R Marshal(F&& fn) {
  R r{};
  TThread::Synchronize(nullptr, TThreadProcedure([&] { r = fn(); }));
  return r;
}

// ---------------------------------------------------------------------------
// Geometry (WndPos.cpp)

// The window's rectangle in screen coordinates, and the client's.
RECT ScreenWindowRect(const TWnd* w);
RECT ScreenClientRect(const TWnd* w);
// The origin of the window's client area in screen coordinates.
POINT ClientOrigin(const TWnd* w);
// Recomputes the client rectangle with WM_NCCALCSIZE (window rect in parent
// coordinates given); answers the WVR_ result.
LRESULT CalcClient(TWnd* w, const RECT& newWindow, WINDOWPOS* pos);
// The default non-client frame insets for a style.
RECT FrameInsets(DWORD style, DWORD exStyle, bool topLevel);
// Resizes a top-level window's backing store to its window rectangle.
void SyncBacking(TWnd* w);
// Tells the backend that a window's top-level window changed (area: the
// changed part in top-level window coordinates, nil: all of it) and marks the
// composed screen stale.
void NotifyBackend(TWnd* w, const RECT* area = nullptr);
// The composed screen no longer matches the windows (any thread).
void MarkScreenStale();
// Composes the screen when a window changed since the last composition.
void ComposeScreenIfStale();
// The topmost visible window under a screen point (skipping disabled and
// transparent windows as the hit test does), sending WM_NCHITTEST; answers
// the window and its hit code.
TWnd* HitTest(POINT screen, LRESULT* hit);

// ---------------------------------------------------------------------------
// Painting (WndPaint.cpp)

// The visible region of a window's client (or whole window) in the
// top-level window's coordinates; clipChildren / clipSiblings as asked.
TRgn VisibleRegion(TWnd* w, bool wholeWindow, bool clipChildren, bool clipSiblings);
// Invalidates or validates per RedrawWindow's flags; rgn in client coordinates (nil: all).
void Redraw(TWnd* w, const TRgn* rgn, UINT flags);
// Whether the window or a window below it needs WM_PAINT; the first in paint order.
TWnd* FindPaintWindow(TWnd* root);
bool NeedsPaint(const TWnd* w);
// Sends WM_NCPAINT when the frame is pending.
void PaintFrame(TWnd* w);
// Invalidates a window's whole area after it moved, was sized or shown.
void ExposeWindow(TWnd* w, bool erase);
// The screen DC hook of the window layer.
void InstallDCHooks();
// Releases a window's DCs before it dies.
void ReleaseWindowDCs(TWnd* w);
// Re-points the window DCs of a top-level window's tree (backing store or
// geometry changed).
void BackingChanged(TWnd* top);
// Caret drawing around painting (WndInput.cpp).
void CaretHideForPaint(TWnd* w);
void CaretShowAfterPaint(TWnd* w);

// ---------------------------------------------------------------------------
// Non-client area (WndNonClient.cpp)

LRESULT DefNcCalcSize(TWnd* w, NCCALCSIZE_PARAMS* p, bool calcValid);
LRESULT DefNcHitTest(TWnd* w, POINT screen);
void DefNcPaint(TWnd* w, HRGN rgn);
// Whether a scroll bar is shown (style bit and enough room).
bool ScrollBarShown(const TWnd* w, int bar);
// The scroll bar's rectangle in window coordinates (empty when hidden).
RECT ScrollBarRect(const TWnd* w, int bar);
// The non-client button press on a scroll bar: the tracking loop.
void TrackScrollBar(TWnd* w, int bar, POINT screen);
void DrawScrollBars(TWnd* w, HDC windowDC);

// ---------------------------------------------------------------------------
// Moving and sizing (WndMoveSize.cpp)

// WM_SYSCOMMAND SC_MOVE / SC_SIZE: the modal loop that moves or sizes the
// window with the mouse (or the arrow keys when the command's low bits are
// 0), from the screen point where the drag began.
void MoveSizeLoop(TWnd* w, WPARAM command, POINT screen);

// ---------------------------------------------------------------------------
// Queues (WndQueue.cpp)

struct TSentMessage;

struct TTimer {
  HWND Window{};
  UINT_PTR Id = 0;
  UINT Interval = 0;
  DWORD Due = 0;
  TIMERPROC Proc{};
};

struct THook {
  HHOOK Handle{};
  int Id = 0;
  HOOKPROC Proc{};
  bool Removed = false;
};

struct TQueue;
// The calling thread's queue (made on first use).
TQueue* CurrentQueue();
// The queue of another thread, or nil when it has none.
TQueue* QueueOf(DWORD threadId);
// Posts to the input queue of the owner thread (input from the backend).
void PostInput(const MSG& m);
// Calls the thread's hooks of a kind; answers the first hook's result (0: none).
bool HasHooks(int idHook);
LRESULT CallHooks(int idHook, int code, WPARAM wp, LPARAM lp);
// Removes the window's posted messages, timers and sends on its death.
void ForgetWindow(HWND h);
DWORD Now();
// Whether a test's manual clock is set (SetManualClock).
bool ManualClockOn();

// ---------------------------------------------------------------------------
// Input, focus and activation (WndInput.cpp)

struct TInputState {
  HWND Focus{};
  HWND Active{};
  HWND Capture{};
  HWND Foreground{};
  bool AppActive = false;
  POINT Cursor{};
  HCURSOR CurrentCursor{};
  BYTE KeyState[256]{};    // queue state
  BYTE AsyncState[256]{};  // physical state
  // double clicks
  DWORD LastClickTime = 0;
  POINT LastClickPos{};
  HWND LastClickWnd{};
  UINT LastClickMsg = 0;
  // mouse tracking
  HWND TrackLeave{};
  bool TrackNonClient = false;
  HWND TrackHover{};
  DWORD HoverTime = 400;
  DWORD HoverStart = 0;
  HWND MouseWindow{};  // the window under the mouse after the last move
  LRESULT MouseHit = HTNOWHERE;
};
TInputState& Input();
// Before a message is returned from the queue: mouse activation and
// WM_SETCURSOR, hooks; answers false when the message is eaten.
bool PreprocessInput(MSG& m, bool remove);
// Updates the queue key state when a key or button message is removed.
void UpdateQueueKeyState(const MSG& m);
// Focus, activation and capture forget a dying window.
void ForgetFocus(TWnd* w);
// Activates a top-level window (mode WA_ACTIVE / WA_CLICKACTIVE).
void Activate(TWnd* top, WORD mode);
// Hover tracking (called by the loop when idle).
void CheckHover();
// Caret blinking for a backend that shows it (called by the loop when idle).
void CheckCaretBlink();

}  // namespace win::wnd
