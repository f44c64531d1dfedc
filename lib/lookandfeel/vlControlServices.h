// Process-wide services of the control base: mouse-leave tracking on a
// 10 ms poll per tracked area, the library's timer component whose timers
// all run on one hidden window, the control hint preparation and the
// library's hint window, the hidden utility window base and the system
// controller that serves thread synchronization when the code runs in a
// dynamic library. The unit "vlControls" (start-up: cursor table, monitor
// functions, streaming group, system controller; shut-down: the singletons)
// is announced in vlControlServices.cpp.
#pragma once

#include "platform/vcl/Controls.h"
#include "platform/vcl/Forms.h"

// The library's private messages of the control base.
constexpr Cardinal VLM_SCROLLBARMETRICSCHANGED = 0x8065;
constexpr Cardinal VLM_WAKEMAINTHREAD = 0x8066;

// The library cursors registered with the screen at start-up.
constexpr TCursor crvlDragCopy = 2100, crvlFullScroll = 2101, crvlHorScroll = 2102, crvlVerScroll = 2103,
                  crvlUpScroll = 2104, crvlRightScroll = 2105, crvlDownScroll = 2106, crvlLeftScroll = 2107,
                  crvlRemove = 2108, crvlVertSize = 2109, crvlHorzSize = 2110, crvlMultiDrag = 2111,
                  crvlNoDrop = 2112, crvlDrag = 2113, crvlHandPoint = -2099, crvlColorPicker = 2114,
                  crvlMultiDragCopy = 2115;

// The unit's steps (public so that tests can run them again).
void vlControlsInitialize();
void vlControlsFinalize();

// A library control told of the mouse entering and leaving it or one of its
// child controls (CM_MOUSEENTER / CM_MOUSELEAVE).
class IvlMouseEnterLeave {
 public:
  virtual void MouseEnter(TControl* AControl) = 0;
  virtual void MouseLeave(TControl* AControl) = 0;

 protected:
  ~IvlMouseEnterLeave() = default;
};

// The library controls' handling of CM_MOUSEENTER and CM_MOUSELEAVE, run
// after the inherited one: ATarget's MouseEnter or MouseLeave with the
// control the message names (LParam), or ASelf when it names none.
void vlNotifyMouseEnterLeave(TControl* ASelf, IvlMouseEnterLeave* ATarget, const TMessage& Message);

// --- Mouse tracking -----------------------------------------------------------------

// Told once when the cursor has left the tracked area (or the control went).
class IvlMouseTrackingCaller : public virtual IInterface {
  CL_INTERFACE(IvlMouseTrackingCaller, "{84A4BD00-0AD5-4AB1-9F84-8E2B71E3F3E1}")
 public:
  virtual void MouseLeave() = 0;
};

// Optional on a caller: decides itself whether a client point is inside.
class IvlMouseTrackingArea : public virtual IInterface {
  CL_INTERFACE(IvlMouseTrackingArea, "{E8E83C0B-6E3B-4C06-9B4A-9C6FCF5A6C2D}")
 public:
  virtual Boolean PtInCaller(const TPoint& P) = 0;
};

// Tracks ABounds (client coordinates of AControl, or screen coordinates when
// AControl is nil) for ACaller; nothing when the caller is tracked already
// or the unit has shut down.
void vlStartMouseTracking(TWinControl* AControl, const TRect& ABounds, IvlMouseTrackingCaller* ACaller);
void vlStopMouseTracking(IvlMouseTrackingCaller* ACaller);
Boolean vlIsMouseTracking(IvlMouseTrackingCaller* ACaller);

// --- Timers ---------------------------------------------------------------------------

// A timer component whose WM_TIMER messages go to one shared hidden window;
// it runs only while Enabled and OnTimer is assigned.
class TvlTimer : public TComponent {
  CL_CLASS(TvlTimer, TComponent)
 public:
  void Create(TComponent* AOwner) override;
  void Destroy() override;

  Boolean Enabled() const { return FEnabled; }
  void SetEnabled(Boolean Value);
  Cardinal Interval() const { return FInterval; }
  // 0 is ignored.
  void SetInterval(Cardinal Value);
  const TNotifyEvent& OnTimer() const { return FOnTimer; }
  void SetOnTimer(const TNotifyEvent& Value);
  // Whether the window timer is set now.
  Boolean TimerOn() const { return FTimerOn; }
  Cardinal EventID() const { return FEventID; }

  // Fires OnTimer (the timer window calls it).
  virtual void TimerFired();

 private:
  void KillTimer();
  void SetTimer();
  void UpdateTimer();

  Boolean FEnabled{};
  Cardinal FEventID{};
  Cardinal FInterval{};
  Boolean FTimerOn{};
  TNotifyEvent FOnTimer;
};

// --- Hidden windows -------------------------------------------------------------------

// The base of hidden utility windows: messages of the window go to WndProc.
class TvlMessageWindow : public TObject {
  CL_CLASS(TvlMessageWindow, TObject)
 public:
  virtual void Create();
  void Destroy() override;
  win::HWND Handle() const { return FHandle; }

 protected:
  virtual void WndProc(TMessage& Message);

 private:
  void MainWndProc(TMessage& Message);
  win::HWND FHandle{};
};

// The shared message window (the custom popup windows' parent window).
TvlMessageWindow* vlGetMessageWindow();

// The window all TvlTimer timers run on.
class TvlTimerWindow : public TvlMessageWindow {
  CL_CLASS(TvlTimerWindow, TvlMessageWindow)
 protected:
  void WndProc(TMessage& Message) override;
};

// In a dynamic library replaces the main thread's wake-up with a message to
// its own window, so that worker threads' Synchronize calls are served.
class TvlSystemController : public TvlMessageWindow {
  CL_CLASS(TvlSystemController, TvlMessageWindow)
 public:
  void Create() override;
  void Destroy() override;

 protected:
  void WndProc(TMessage& Message) override;

 private:
  void WakeMainThread(TObject* Sender);
  TNotifyEvent FPrevWakeMainThread;
  Boolean FHooked{};
};

// --- Hints ----------------------------------------------------------------------------

CL_ENUM(TvlHintAnimationStyle, Byte, vlhaSlideFromLeft, vlhaSlideFromRight, vlhaSlideDownward, vlhaSlideUpward,
        vlhaSlideFromCenter, vlhaHide, vlhaActivate, vlhaFadeIn, vlhaAuto, vlhaNone)

// Fills the hint record for AControl; when the application's OnShowHint
// keeps the hint, makes AHintWindow of the asked class and measures ARect.
// Answers whether the hint may show.
Boolean vlPrepareControlHint(THintInfo& AHintInfo, THintWindow*& AHintWindow, TControl* AControl, Pointer AHintData,
                             TRect& ARect, const String& AHint);
void vlActivateHint(THintWindow* AHintWindow, const TRect& ARect, const String& AHint);

// The library's hint window: animated showing, kept inside the work area
// of its monitor, never taking the mouse.
class TvlBaseHintWindow : public THintWindow {
  CL_CLASS(TvlBaseHintWindow, THintWindow)
 public:
  void Create(TComponent* AOwner) override;
  void ActivateHint(TRect ARect, const String& AHint) override;
  void SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) override;
  void Dispatch(TMessage& Message) override;

  TvlHintAnimationStyle AnimationStyle() const { return FAnimationStyle; }
  void SetAnimationStyle(TvlHintAnimationStyle Value) { FAnimationStyle = Value; }
  Integer AnimationDelay() const { return FAnimationDelay; }
  void SetAnimationDelay(Integer Value) { FAnimationDelay = Value; }
  TFormBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TFormBorderStyle Value) { FBorderStyle = Value; }
  Boolean NeedEraseBackground() const { return FNeedEraseBackground; }
  void SetNeedEraseBackground(Boolean Value) { FNeedEraseBackground = Value; }
  TRect HintAreaBounds() const { return FHintAreaBounds; }
  // The style ActivateHint animates a hint of AHint with (vlhaNone: shown at once).
  TvlHintAnimationStyle EffectiveAnimationStyle(const String& AHint) const;

 protected:
  void CreateParams(TCreateParams& Params) override;
  virtual void AdjustActivateRect(TRect& ARect) {}
  virtual void ResetWindowRegion();
  virtual void ApplyWindowRegion() {}
  virtual void SetHintAreaBounds(const TRect& R) { FHintAreaBounds = R; }
  virtual void ShowHintWindow();

  Boolean FStandardHint{};

 private:
  TvlHintAnimationStyle FAnimationStyle{vlhaAuto};
  Integer FAnimationDelay{100};
  TFormBorderStyle FBorderStyle{};
  TRect FHintAreaBounds{};
  Boolean FNeedEraseBackground{};
};
