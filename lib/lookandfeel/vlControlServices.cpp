#include "lib/lookandfeel/vlControlServices.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <vector>

#include "lib/foundation/nbCore.h"
#include "lib/foundation/nbGDIPlusAPI.h"
#include "lib/foundation/vlGeometry.h"
#include "lib/lookandfeel/vlControlCursors.h"
#include "lib/lookandfeel/vlControls.h"
#include "lib/lookandfeel/vlWindowUtils.h"
#include "platform/classes/ClassRegistry.h"
#include "platform/classes/ModuleInit.h"
#include "platform/classes/Threads.h"
#include "platform/classes/TypInfoBuild.h"
#include "platform/classes/WeakRef.h"
#include "platform/rtl/Finally.h"
#include "platform/win/Gdi.h"
#include "platform/win/Modules.h"
#include "platform/win/Windows.h"

using namespace win;

namespace {

class TMouseTrackingTimer;

// Process-wide state of the unit; nothing is made after shut-down began.
Boolean Finalized = false;
std::vector<TMouseTrackingTimer*>* TrackingList{};
std::map<Cardinal, TvlTimer*>* TimerList{};  // running timers by event id
TvlTimerWindow* TimerWindow{};
TvlMessageWindow* MessageWindow{};
TvlSystemController* SystemController{};
HMODULE User32{};
Cardinal LastEventID = 0;

using TAnimateWindow = BOOL (*)(HWND, DWORD, DWORD);

std::vector<TMouseTrackingTimer*>& Tracking() {
  if (!TrackingList) TrackingList = new std::vector<TMouseTrackingTimer*>();
  return *TrackingList;
}

std::map<Cardinal, TvlTimer*>& Timers() {
  if (!TimerList) TimerList = new std::map<Cardinal, TvlTimer*>();
  return *TimerList;
}

TvlTimerWindow* GetTimerWindow() {
  if (!TimerWindow && !Finalized) TimerWindow = New<TvlTimerWindow>();
  return TimerWindow;
}

// The timer of one tracked area: every tick looks whether the cursor is
// still inside.
class TMouseTrackingTimer : public TvlTimer {
  CL_CLASS(TMouseTrackingTimer, TvlTimer)
 public:
  void Tick(TObject* Sender);

  IvlMouseTrackingCaller* Caller{};
  // nil once the control was freed (then it counts as gone).
  TWeakRef<TWinControl> Control;
  Boolean HasControl{};
  TRect Bounds{};
};

CL_IMPLEMENT_CLASS(TMouseTrackingTimer)

Integer IndexOfCaller(IvlMouseTrackingCaller* ACaller) {
  if (!TrackingList) return -1;
  for (size_t i = 0; i < TrackingList->size(); ++i)
    if ((*TrackingList)[i]->Caller == ACaller) return Integer(i);
  return -1;
}

void TMouseTrackingTimer::Tick(TObject*) {
  TPoint cursor{};
  GetCursorPos(&cursor);
  Boolean inside;
  IvlMouseTrackingArea* area = dynamic_cast<IvlMouseTrackingArea*>(Caller);
  if (area)
    inside = Control && Control->HandleAllocated() && area->PtInCaller(Control->ScreenToClient(cursor));
  else
    inside = vlPointInRect(Bounds, cursor);
  // A caller that tracks screen bounds alone has no control that can go.
  const Boolean gone =
      HasControl && (!Control || !Control->HandleAllocated() || !vlIsWindowEnabledWithParents(Control->Handle()));
  if (inside && !gone) return;
  IvlMouseTrackingCaller* caller = Caller;
  if (Control && Control->HandleAllocated()) {
    const Boolean disabled = !vlIsWindowEnabledWithParents(Control->Handle());
    if (disabled || !vlPointInRect(Control->ClientRect(), Control->ScreenToClient(cursor))) {
      // The control's leave handling may stop the tracking, which frees this
      // timer (or free the caller): then the caller has been told already.
      TWeakRef<TMouseTrackingTimer> self(this);
      Control->Perform(CM_MOUSELEAVE, 0, reinterpret_cast<LPARAM>(Control.Get()));
      if (!self) return;
    }
  }
  caller->MouseLeave();
  vlStopMouseTracking(caller);  // frees this timer: nothing of it is used after
}

void DebugMessage(const char* AText) {
#ifndef NDEBUG
  std::fprintf(stderr, "%s\n", AText);
#else
  (void)AText;
#endif
}

// The library cursors, drawn at start-up (vlControlCursors.cpp); the hand
// is the system's own.
const TCursor LibraryCursors[] = {crvlDragCopy, crvlFullScroll,  crvlHorScroll,   crvlVerScroll,
                                  crvlUpScroll, crvlRightScroll, crvlDownScroll,  crvlLeftScroll,
                                  crvlRemove,   crvlVertSize,    crvlHorzSize,    crvlMultiDrag,
                                  crvlNoDrop,   crvlDrag,        crvlColorPicker, crvlMultiDragCopy};
// The cursors made at start-up, freed at shut-down.
std::vector<HCURSOR> MadeCursors;

}  // namespace

void vlControlsInitialize() {
  Finalized = false;
  if (Screen) {
    for (TCursor id : LibraryCursors) {
      HCURSOR cursor = vlCreateLibraryCursor(id);
      MadeCursors.push_back(cursor);
      Screen->SetCursors(id, cursor);
    }
    Screen->SetCursors(crvlHandPoint, LoadCursorW(nullptr, IDC_HAND));
  }
  User32 = LoadLibraryW(u"user32.dll");
  GroupDescendentsWith(ClassOf<TvlControlChildComponent>(), ClassOf<TControl>());
  vlResetSettingsControllerForStartup();
  SystemController = New<TvlSystemController>();
}

void vlControlsFinalize() {
  Finalized = true;
  FreeAndNil(SystemController);
  if (TrackingList) {
    // A caller that never stopped its tracking must not make the exit fail.
    if (!TrackingList->empty()) {
      DebugMessage("MouseTrackingTimerList.Count <> 0");
      std::vector<TMouseTrackingTimer*> left;
      left.swap(*TrackingList);
      for (TMouseTrackingTimer* t : left) Free(t);
    }
    delete TrackingList;
    TrackingList = nullptr;
  }
  if (reinterpret_cast<uintptr_t>(User32) > 32) FreeLibrary(User32);
  User32 = nullptr;
  vlFreeSettingsController();
  FreeAndNil(TimerWindow);
  delete TimerList;
  TimerList = nullptr;
  FreeAndNil(MessageWindow);
  if (Screen)
    for (TCursor id : LibraryCursors) Screen->SetCursors(id, nullptr);
  for (HCURSOR cursor : MadeCursors) DestroyCursor(cursor);
  MadeCursors.clear();
}

CL_UNIT_STEPS(vlControls, &vlControlsInitialize, &vlControlsFinalize);

void vlNotifyMouseEnterLeave(TControl* ASelf, IvlMouseEnterLeave* ATarget, const TMessage& Message) {
  TControl* control = Message.LParam ? reinterpret_cast<TControl*>(Message.LParam) : ASelf;
  if (Message.Msg == CM_MOUSEENTER)
    ATarget->MouseEnter(control);
  else
    ATarget->MouseLeave(control);
}

// --- Mouse tracking -----------------------------------------------------------------

void vlStartMouseTracking(TWinControl* AControl, const TRect& ABounds, IvlMouseTrackingCaller* ACaller) {
  if (Finalized || !ACaller || IndexOfCaller(ACaller) >= 0) return;
  TMouseTrackingTimer* t = New<TMouseTrackingTimer>(nullptr);
  t->SetInterval(10);
  t->Control = AControl;
  t->HasControl = AControl != nullptr;
  t->Bounds = ABounds;
  if (AControl) {
    const TPoint tl = AControl->ClientToScreen(TPoint{ABounds.Left, ABounds.Top});
    t->Bounds = TRect{tl.X, tl.Y, tl.X + ABounds.Width(), tl.Y + ABounds.Height()};
  }
  t->Caller = ACaller;
  Tracking().push_back(t);
  t->SetOnTimer(TNotifyEvent(t, &TMouseTrackingTimer::Tick));
}

void vlStopMouseTracking(IvlMouseTrackingCaller* ACaller) {
  const Integer i = IndexOfCaller(ACaller);
  if (i < 0) return;
  TMouseTrackingTimer* t = (*TrackingList)[size_t(i)];
  TrackingList->erase(TrackingList->begin() + i);
  Free(t);
}

Boolean vlIsMouseTracking(IvlMouseTrackingCaller* ACaller) { return !Finalized && IndexOfCaller(ACaller) >= 0; }

// --- TvlTimer -------------------------------------------------------------------------

CL_IMPLEMENT_CLASS_PUBLISHED(TvlTimer, P) {
  P.Property(u"Enabled", &TvlTimer::Enabled, &TvlTimer::SetEnabled).Default(true);
  P.Property(u"Interval", &TvlTimer::Interval, &TvlTimer::SetInterval).Default(Cardinal(1000));
  P.Property(u"OnTimer", &TvlTimer::OnTimer, &TvlTimer::SetOnTimer);
}

void TvlTimer::Create(TComponent* AOwner) {
  inherited::Create(AOwner);
  FEnabled = true;
  FInterval = 1000;
  FEventID = ++LastEventID;
}

void TvlTimer::Destroy() {
  KillTimer();
  inherited::Destroy();
}

void TvlTimer::TimerFired() {
  if (Assigned(FOnTimer)) FOnTimer(this);
}

void TvlTimer::KillTimer() {
  if (!FTimerOn) return;
  FTimerOn = false;
  if (TimerWindow) win::KillTimer(TimerWindow->Handle(), FEventID);
  if (TimerList) TimerList->erase(FEventID);
}

void TvlTimer::SetTimer() {
  TvlTimerWindow* window = GetTimerWindow();
  if (!window) return;
  FTimerOn = win::SetTimer(window->Handle(), FEventID, FInterval, nullptr) != 0;
  if (FTimerOn) Timers()[FEventID] = this;
}

void TvlTimer::UpdateTimer() {
  KillTimer();
  if (FEnabled && Assigned(FOnTimer)) SetTimer();
}

void TvlTimer::SetEnabled(Boolean Value) {
  if (FEnabled == Value) return;
  FEnabled = Value;
  UpdateTimer();
}

void TvlTimer::SetInterval(Cardinal Value) {
  if (Value == 0 || FInterval == Value) return;
  FInterval = Value;
  UpdateTimer();
}

void TvlTimer::SetOnTimer(const TNotifyEvent& Value) {
  FOnTimer = Value;
  UpdateTimer();
}

// --- Hidden windows -------------------------------------------------------------------

CL_IMPLEMENT_CLASS(TvlMessageWindow)
CL_IMPLEMENT_CLASS(TvlTimerWindow)
CL_IMPLEMENT_CLASS(TvlSystemController)

void TvlMessageWindow::Create() { FHandle = AllocateHWnd(TWndMethod(this, &TvlMessageWindow::MainWndProc)); }

void TvlMessageWindow::Destroy() {
  if (FHandle) DeallocateHWnd(FHandle);
  FHandle = nullptr;
  inherited::Destroy();
}

void TvlMessageWindow::MainWndProc(TMessage& Message) { WndProc(Message); }

void TvlMessageWindow::WndProc(TMessage& Message) {
  Message.Result = DefWindowProcW(FHandle, Message.Msg, Message.WParam, Message.LParam);
}

TvlMessageWindow* vlGetMessageWindow() {
  if (!MessageWindow && !Finalized) MessageWindow = New<TvlMessageWindow>();
  return MessageWindow;
}

void TvlTimerWindow::WndProc(TMessage& Message) {
  if (Message.Msg != WM_TIMER) {
    inherited::WndProc(Message);
    return;
  }
  if (!TimerList) return;
  auto it = TimerList->find(Cardinal(Message.WParam));
  if (it == TimerList->end()) return;  // a timer stopped or freed meanwhile
  HandleExceptionsOf(this, [&] { it->second->TimerFired(); });
}

void TvlSystemController::Create() {
  inherited::Create();
  if (nbIsLibraryModule) {
    FPrevWakeMainThread = ::WakeMainThread;
    ::WakeMainThread = TNotifyEvent(this, &TvlSystemController::WakeMainThread);
    FHooked = true;
  }
}

void TvlSystemController::Destroy() {
  if (FHooked) ::WakeMainThread = FPrevWakeMainThread;
  FHooked = false;
  inherited::Destroy();
}

void TvlSystemController::WakeMainThread(TObject*) { PostMessageW(Handle(), VLM_WAKEMAINTHREAD, 0, 0); }

void TvlSystemController::WndProc(TMessage& Message) {
  if (Message.Msg == VLM_WAKEMAINTHREAD)
    CheckSynchronize();
  else
    inherited::WndProc(Message);
}

// --- Hints ----------------------------------------------------------------------------

Boolean vlPrepareControlHint(THintInfo& AHintInfo, THintWindow*& AHintWindow, TControl* AControl, Pointer AHintData,
                             TRect& ARect, const String& AHint) {
  TPoint cursor{};
  GetCursorPos(&cursor);
  AHintInfo.HintControl = AControl;
  AHintInfo.HintWindowClass = AHintWindow ? AHintWindow->ClassType() : TClass();
  AHintInfo.HintPos = TPoint{ARect.Left, ARect.Top};
  AHintInfo.HintMaxWidth = GetSystemMetrics(SM_CXSCREEN);
  AHintInfo.HintColor = Application->HintColor();
  AHintInfo.CursorPos = AControl->ScreenToClient(cursor);
  AHintInfo.ReshowTimeout = 0;
  AHintInfo.HideTimeout = Application->HintHidePause();
  AHintInfo.HintStr = AHint;
  AHintInfo.HintData = AHintData;
  const TRect bounds = AControl->BoundsRect();
  const TPoint origin = AControl->Parent() ? AControl->Parent()->ClientToScreen(TPoint{bounds.Left, bounds.Top})
                                           : TPoint{bounds.Left, bounds.Top};
  const TPoint topLeft = AControl->ScreenToClient(origin);
  AHintInfo.CursorRect = TRect{topLeft.X, topLeft.Y, topLeft.X + bounds.Width(), topLeft.Y + bounds.Height()};

  Boolean canShow = true;
  if (!Assigned(Application->OnShowHint())) return canShow;
  Application->OnShowHint()(AHintInfo.HintStr, canShow, AHintInfo);
  if (!canShow || AHintInfo.HintStr.empty()) return canShow;
  TClassOf<THintWindow> cls = AHintInfo.HintWindowClass ? ClassAs<THintWindow>(AHintInfo.HintWindowClass)
                                                        : Application->HintWindowClass();
  if (!AHintWindow || AHintWindow->ClassType() != TClass(cls)) {
    FreeAndNil(AHintWindow);
    AHintWindow = CreateFrom(cls, static_cast<TComponent*>(Application));
    AHintWindow->SetColor(AHintInfo.HintColor);
  }
  AHintWindow->SetBiDiMode(AControl->BiDiMode());
  ARect = AHintWindow->CalcHintRect(AHintInfo.HintMaxWidth, AHintInfo.HintStr, AHintInfo.HintData);
  ARect = vlOffsetRect(ARect, AHintInfo.HintPos.X, AHintInfo.HintPos.Y);
  if (AHintWindow->UseRightToLeftAlignment()) {
    Integer widest = 0;
    const String& s = AHintInfo.HintStr;
    size_t start = 0;
    while (start <= s.size()) {
      size_t end = s.find_first_of(u"\r\n", start);
      if (end == String::npos) end = s.size();
      widest = std::max(widest, AHintWindow->Canvas()->TextWidth(s.substr(start, end - start)));
      start = end + 1;
    }
    ARect = vlOffsetRect(ARect, -(widest + 5), 0);
  }
  return canShow;
}

void vlActivateHint(THintWindow* AHintWindow, const TRect& ARect, const String& AHint) {
  AHintWindow->ActivateHint(ARect, AHint);
}

// --- TvlBaseHintWindow ------------------------------------------------------------------

CL_IMPLEMENT_CLASS(TvlBaseHintWindow)

void TvlBaseHintWindow::Create(TComponent* AOwner) {
  inherited::Create(AOwner);
  FAnimationStyle = vlhaAuto;
  FAnimationDelay = 100;
}

void TvlBaseHintWindow::CreateParams(TCreateParams& Params) {
  inherited::CreateParams(Params);
  if (FStandardHint) return;
  if (FBorderStyle == bsNone) Params.Style &= ~WS_BORDER;
  Params.ExStyle |= WS_EX_TOPMOST;
}

TvlHintAnimationStyle TvlBaseHintWindow::EffectiveAnimationStyle(const String& AHint) const {
  if (AHint.size() >= 100) return vlhaNone;
  HMODULE user32 = FindLoadedModule(u"user32");
  if (!user32 || !GetProcAddress(user32, "AnimateWindow")) return vlhaNone;
  BOOL animation = FALSE;
  SystemParametersInfoW(SPI_GETTOOLTIPANIMATION, 0, &animation, 0);
  if (FAnimationStyle == vlhaNone || !animation) return vlhaNone;
  if (FAnimationStyle != vlhaAuto) return FAnimationStyle;
  BOOL fade = FALSE;
  SystemParametersInfoW(SPI_GETTOOLTIPFADE, 0, &fade, 0);
  return fade ? vlhaFadeIn : vlhaSlideDownward;
}

void TvlBaseHintWindow::ActivateHint(TRect ARect, const String& AHint) {
  if (FStandardHint) {
    inherited::ActivateHint(ARect, AHint);
    return;
  }
  SetCaption(AHint);
  AdjustActivateRect(ARect);
  SetBounds(ARect.Left, ARect.Top, ARect.Width(), ARect.Height());
  SetWindowPos(Handle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE);
  if (nbOSWindowsXPOrLater) ApplyWindowRegion();
  const TvlHintAnimationStyle style = EffectiveAnimationStyle(AHint);
  if (style != vlhaNone) {
    static const DWORD flags[] = {AW_HOR_POSITIVE, AW_HOR_NEGATIVE, AW_VER_POSITIVE, AW_VER_NEGATIVE,
                                  AW_CENTER,       AW_HIDE,         AW_ACTIVATE,     AW_BLEND};
    if (!nbOSWindowsXPOrLater) ResetWindowRegion();
    auto animate = reinterpret_cast<TAnimateWindow>(GetProcAddress(FindLoadedModule(u"user32"), "AnimateWindow"));
    animate(Handle(), DWORD(FAnimationDelay), flags[style] | AW_SLIDE);
    if (!nbOSWindowsXPOrLater) ApplyWindowRegion();
  }
  ShowHintWindow();
  Invalidate();
  SetHintAreaBounds(TRect{});
}

void TvlBaseHintWindow::ResetWindowRegion() {
  if (HandleAllocated()) SetWindowRgn(Handle(), nullptr, TRUE);
}

void TvlBaseHintWindow::ShowHintWindow() { ShowWindow(Handle(), SW_SHOWNOACTIVATE); }

void TvlBaseHintWindow::SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) {
  const TRect work = vlGetDesktopWorkAreaAtPoint(TPoint{ALeft, ATop});
  ALeft = std::max(std::min(ALeft, work.Right - AWidth), work.Left);
  ATop = std::max(std::min(ATop, work.Bottom - AHeight), work.Top);
  inherited::SetBounds(ALeft, ATop, AWidth, AHeight);
}

void TvlBaseHintWindow::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CM_TEXTCHANGED:
      if (FStandardHint) inherited::Dispatch(Message);
      break;
    case WM_ERASEBKGND:
      if (FNeedEraseBackground)
        inherited::Dispatch(Message);
      else
        Message.Result = 1;
      break;
    case WM_NCHITTEST:
      Message.Result = HTTRANSPARENT;
      break;
    default:
      inherited::Dispatch(Message);
  }
}
