#include "lib/lookandfeel/vlCustomPopup.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "lib/foundation/vlGeometry.h"
#include "lib/lookandfeel/vlWindowUtils.h"
#include "platform/classes/ClassRegistry.h"
#include "platform/classes/ModuleInit.h"
#include "platform/rtl/Finally.h"
#include "platform/win/Windows.h"

using namespace win;

namespace {

std::vector<TvlCustomPopupWindow*> OpenPopups;
Integer FocusingLock = 0;
Boolean PopupFocusing = false;
HHOOK CallWndHook{}, GetMessageHook{}, MouseHook{};

Boolean Alive(TComponent* C) { return C && !C->ComponentState().Contains(csDestroying); }

HWND FormWindowOf(TWinControl* AControl) {
  TCustomForm* form = AControl ? GetParentForm(AControl) : nullptr;
  return form && form->HandleAllocated() ? form->WindowHandle() : nullptr;
}

Boolean IsOpen(TvlCustomPopupWindow* P) {
  return std::find(OpenPopups.begin(), OpenPopups.end(), P) != OpenPopups.end();
}

// The outside-click routine: closes the popups the click is outside of;
// answers whether the click may reach its target.
Boolean ProcessOutsideClick(HWND AWnd, UINT AMessage, const TPoint& APoint) {
  Boolean passClick = true;
  for (size_t i = 0; i < OpenPopups.size();) {
    TvlCustomPopupWindow* p = OpenPopups[i];
    const Boolean skip = (p->CaptureFocus() && Screen && Screen->ActiveForm() != p) || vlIsWindowOwnedBy(p, AWnd, true);
    TWinControl* owner = p->OwnerControl();
    if (!skip && !owner) {
      // Its owner was freed while it was open: any click outside closes it.
      p->CloseUp();
      i = 0;
      continue;
    }
    TCustomForm* ownerForm = owner ? GetParentForm(owner) : nullptr;
    TvlCustomPopupWindow* ownerPopup = dynamic_cast<TvlCustomPopupWindow*>(ownerForm);
    if (!skip && owner && (vlIsWindowInControlForm(owner, AWnd) || (ownerPopup && !IsOpen(ownerPopup)))) {
      Boolean areaClick = false, asked = false;
      if (vlIsWindowOwnedBy(owner, AWnd, true) && (AMessage == WM_LBUTTONDOWN || AMessage == WM_LBUTTONDBLCLK) &&
          vlPointInRect(p->OwnerScreenBounds(), APoint)) {
        areaClick = true;
        asked = true;
        if (p->ProcessOutsideClick(AWnd, AMessage, APoint, vlGetShiftStateNow())) p->SetJustClosed();
      }
      PopupFocusing = true;
      p->LockDeactivate(true);
      // The closing events may free the popup or its owner.
      TWeakRef<TvlCustomPopupWindow> popupRef(p);
      TWeakRef<TWinControl> ownerRef(owner);
      {
        Finally unlock([&] {
          PopupFocusing = false;
          if (popupRef && (IsOpen(p) || Alive(p))) p->LockDeactivate(false);
        });
        if (!asked && passClick) passClick = !p->ProcessOutsideClick(AWnd, AMessage, APoint, vlGetShiftStateNow());
          p->CloseUp();
      }
      if (areaClick && (!ownerRef || !Alive(ownerRef) || !ownerRef->Visible())) passClick = false;
      i = 0;  // start again from the oldest
      continue;
    }
    // The owner's form is an MDI child: a click on the client window around
    // it, the frame or another child of the frame closes the popup too.
    if (!skip && owner && vlIsWindowInMDIFrame(ownerForm, AWnd)) {
      if (passClick) passClick = !p->ProcessOutsideClick(AWnd, AMessage, APoint, vlGetShiftStateNow());
      p->CloseUp();
      i = 0;
      continue;
    }
    ++i;
  }
  return passClick;
}

// The procedures of windows whose next message is swallowed, by window.
std::vector<std::pair<HWND, WNDPROC>> SwallowedProcs;

// Answers 1 without handling, after putting the window's procedure back.
LRESULT SwallowingProc(HWND hWnd, UINT, WPARAM, LPARAM) {
  for (auto it = SwallowedProcs.begin(); it != SwallowedProcs.end(); ++it)
    if (it->first == hWnd) {
      SetWindowLongPtrW(hWnd, GWLP_WNDPROC, it->second.ToLongPtr());
      SwallowedProcs.erase(it);
      break;
    }
  return 1;
}

// The message about to reach AWnd is swallowed: its procedure is replaced for this one message.
void SwallowMessage(HWND AWnd) {
  for (const auto& e : SwallowedProcs)
    if (e.first == AWnd) return;
  const WNDPROC previous = WNDPROC::FromLongPtr(GetWindowLongPtrW(AWnd, GWLP_WNDPROC));
  SwallowedProcs.emplace_back(AWnd, previous);
  SetWindowLongPtrW(AWnd, GWLP_WNDPROC, WNDPROC(&SwallowingProc).ToLongPtr());
}

// WM_CLOSE with popups open: closes the popup the window belongs to (and
// then its owner's top-level window), or a non-capturing popup whose owner
// form closes.
void PopupsWindowClosing(HWND AWnd) {
  for (TvlCustomPopupWindow* p : std::vector<TvlCustomPopupWindow*>(OpenPopups)) {
    if (!Alive(p) || !IsOpen(p)) continue;
    TWinControl* owner = p->OwnerControl();
    if (p->HandleAllocated() && p->WindowHandle() == AWnd) {
      if (p->CloseQuery()) p->CloseUp();
      if (!IsOpen(p) && p->CaptureFocus() && Alive(owner) && owner->HandleAllocated())
        SendMessageW(GetAncestor(owner->WindowHandle(), GA_ROOT), WM_CLOSE, 0, 0);
      return;
    }
    if (p->CaptureFocus()) continue;
    if (Alive(owner)) {
      TCustomForm* form = GetParentForm(owner);
      if (form && (!form->HandleAllocated() || form->WindowHandle() == AWnd)) {
        p->CloseUp();
        return;
      }
    }
  }
}

void CallWndProcHookWork(int code, LPARAM lParam);

// The hooks close popups, whose closing events may raise: the error goes to
// the application's handler, never out through the system's hook call.
LRESULT CallWndProcHook(int code, WPARAM wParam, LPARAM lParam) {
  HandleExceptionsOf(nullptr, [&] { CallWndProcHookWork(code, lParam); });
  return CallNextHookEx(CallWndHook, code, wParam, lParam);
}

void CallWndProcHookWork(int code, LPARAM lParam) {
  const CWPSTRUCT* cwp = reinterpret_cast<CWPSTRUCT*>(lParam);
  if (code == HC_ACTION && FocusingLock > 0 && (cwp->message == CM_ACTIVATE || cwp->message == CM_DEACTIVATE))
    SwallowMessage(cwp->hwnd);
  if (code == HC_ACTION && !OpenPopups.empty()) {
    const CWPSTRUCT& m = *cwp;
    switch (m.message) {
      case WM_CLOSE:
        PopupsWindowClosing(m.hwnd);
        break;
      case WM_NCACTIVATE:
        if (m.wParam == 0) {
          Boolean swallow = PopupFocusing;
          for (TvlCustomPopupWindow* p : OpenPopups)
            if (!swallow && Alive(p) && FormWindowOf(p->OwnerControl()) == m.hwnd) swallow = true;
          if (swallow) SwallowMessage(m.hwnd);
        }
        break;
      case WM_DESTROY:
        for (TvlCustomPopupWindow* p : std::vector<TvlCustomPopupWindow*>(OpenPopups))
          if (Alive(p) && p->HandleAllocated() && p->WindowHandle() == m.hwnd) {
            p->Close();
            if (!IsOpen(p) && Alive(p) && p->TerminateOnDestroy()) Application->Terminate();
            break;
          }
        break;
      case WM_SHOWWINDOW:
        if (m.wParam == 0)
          for (size_t i = OpenPopups.size(); i-- > 0;) {
            TvlCustomPopupWindow* p = OpenPopups[i];
            TWinControl* owner = p->OwnerControl();
            // The owner's own window, or a window holding it (its form hidden by Close).
            if (Alive(p) && Alive(owner) && owner->HandleAllocated() &&
                (owner->WindowHandle() == m.hwnd || IsChild(m.hwnd, owner->WindowHandle()))) {
              // That popup and every newer one close, the newest first.
              while (OpenPopups.size() > i) OpenPopups.back()->CloseUp();
              break;
            }
          }
        break;
      case WM_ACTIVATEAPP:
        if (m.wParam == 0) {
          for (Boolean again = true; again;) {
            again = false;
            for (TvlCustomPopupWindow* p : std::vector<TvlCustomPopupWindow*>(OpenPopups)) {
              if (HWND f = FormWindowOf(p->OwnerControl())) PostMessageW(f, WM_NCACTIVATE, 0, 0);
              if ((!p->CaptureFocus() || (Screen && Screen->ActiveForm() != p)) && p->HandleAllocated() &&
                  IsWindowEnabled(p->WindowHandle())) {
                TWeakRef<TWinControl> owner = p->OwnerControl();
                p->CloseUp();
                if (TvlContainer* c = dynamic_cast<TvlContainer*>(owner.Get())) c->FocusChanged();
                again = true;
                break;
              }
            }
          }
        }
        break;
      case WM_WINDOWPOSCHANGED:
        for (Boolean again = true; again;) {
          again = false;
          for (TvlCustomPopupWindow* p : std::vector<TvlCustomPopupWindow*>(OpenPopups)) {
            TWinControl* owner = p->OwnerControl();
            if (Alive(p) && p->HandleAllocated() && Alive(owner) && owner->HandleAllocated() &&
                owner->WindowHandle() == m.hwnd && !IsWindowVisible(m.hwnd)) {
              p->CloseUp();
              again = true;
              break;
            }
          }
        }
        break;
      default:
        break;
    }
  }
}

LRESULT GetMsgHook(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION && wParam == PM_REMOVE && !OpenPopups.empty()) {
    MSG& m = *reinterpret_cast<MSG*>(lParam);
    TvlCustomPopupWindow* newest = OpenPopups.back();
    if (m.message == WM_SYSKEYDOWN && !(newest->CaptureFocus() && newest->ModalMode()) &&
        !newest->IsSysKeyAccepted(Word(m.wParam)))
      m.message = 0;  // voided
  }
  return CallNextHookEx(GetMessageHook, code, wParam, lParam);
}

LRESULT MouseHookProc(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION && !OpenPopups.empty()) {
    switch (wParam) {
      case WM_NCLBUTTONDOWN: case WM_NCLBUTTONDBLCLK: case WM_NCRBUTTONDOWN: case WM_NCRBUTTONDBLCLK:
      case WM_NCMBUTTONDOWN: case WM_NCMBUTTONDBLCLK: case WM_LBUTTONDOWN: case WM_LBUTTONDBLCLK:
      case WM_RBUTTONDOWN: case WM_RBUTTONDBLCLK: case WM_MBUTTONDOWN: case WM_MBUTTONDBLCLK: {
        const MOUSEHOOKSTRUCT& h = *reinterpret_cast<MOUSEHOOKSTRUCT*>(lParam);
        Boolean pass = true;
        HandleExceptionsOf(nullptr, [&] { pass = ProcessOutsideClick(h.hwnd, UINT(wParam), h.pt); });
        if (!pass) return 1;
        break;
      }
      default:
        break;
    }
  }
  return CallNextHookEx(MouseHook, code, wParam, lParam);
}

void Startup() {
  GroupDescendentsWith(ClassOf<TvlStyleController>(), ClassOf<TControl>());
  vlInstallPopupHooks();
}

void Shutdown() { vlRemovePopupHooks(); }

}  // namespace

CL_UNIT_STEPS(vlContainer, &Startup, &Shutdown);

Integer vlOpenPopupCount() { return Integer(OpenPopups.size()); }
TvlCustomPopupWindow* vlOpenPopup(Integer AIndex) { return OpenPopups[size_t(AIndex)]; }

void vlAddVisiblePopupWindow(TvlCustomPopupWindow* APopup) {
  if (!IsOpen(APopup)) OpenPopups.push_back(APopup);
}

void vlRemoveVisiblePopupWindow(TvlCustomPopupWindow* APopup) {
  auto it = std::find(OpenPopups.begin(), OpenPopups.end(), APopup);
  if (it != OpenPopups.end()) OpenPopups.erase(it);
}

void vlInstallPopupHooks() {
  const DWORD thread = GetCurrentThreadId();
  if (!CallWndHook) CallWndHook = SetWindowsHookExW(WH_CALLWNDPROC, &CallWndProcHook, nullptr, thread);
  if (!GetMessageHook) GetMessageHook = SetWindowsHookExW(WH_GETMESSAGE, &GetMsgHook, nullptr, thread);
  if (!MouseHook) MouseHook = SetWindowsHookExW(WH_MOUSE, &MouseHookProc, nullptr, thread);
}

void vlRemovePopupHooks() {
  for (HHOOK* h : {&CallWndHook, &GetMessageHook, &MouseHook})
    if (*h) {
      UnhookWindowsHookEx(*h);
      *h = nullptr;
    }
}

void vlChangeFocusingLock(Boolean ALock) {
  if (ALock)
    ++FocusingLock;
  else if (FocusingLock > 0)
    --FocusingLock;
}

// --- Window ownership -----------------------------------------------------------------------

Boolean vlIsWindowOwnedBy(TWinControl* AControl, HWND AWnd, Boolean ADeep) {
  if (!AControl || !AWnd || !AControl->HandleAllocated()) return false;
  if (AControl->WindowHandle() == AWnd) return true;
  if (!ADeep) return false;
  if (IsChild(AControl->WindowHandle(), AWnd)) return true;
  for (Integer i = 0; i < AControl->ControlCount(); ++i)
    if (TWinControl* w = dynamic_cast<TWinControl*>(AControl->Controls(i)))
      if (vlIsWindowOwnedBy(w, AWnd, true)) return true;
  for (TvlCustomPopupWindow* p : OpenPopups) {
    if (p == AControl) continue;
    TWinControl* owner = p->OwnerControl();
    const Boolean fromHere = owner == AControl || (dynamic_cast<TvlCustomPopupWindow*>(AControl) && owner &&
                                                   GetParentForm(owner) == AControl);
    if (fromHere && vlIsWindowOwnedBy(p, AWnd, true)) return true;
  }
  return false;
}

Boolean vlIsWindowOfControl(TWinControl* AControl, HWND AWnd) { return vlIsWindowOwnedBy(AControl, AWnd, false); }

Boolean vlIsWindowInControlTree(TWinControl* AControl, HWND AWnd) {
  return AControl && AControl->HandleAllocated() && AControl->WindowHandle() != AWnd &&
         vlIsWindowOwnedBy(AControl, AWnd, true);
}

Boolean vlIsWindowInControlForm(TWinControl* AControl, HWND AWnd) {
  TCustomForm* form = AControl ? GetParentForm(AControl) : nullptr;
  if (!form) return false;
  if (vlIsWindowOwnedBy(form, AWnd, true)) return true;
  if (!form->Parent() && form->HandleAllocated()) {
    // An embedded form: its chain of ancestor child windows counts as its own.
    for (HWND w = form->WindowHandle(); w && vlHasChildWindowStyle(w);) {
      w = GetParent(w);
      if (w == AWnd) return true;
    }
  }
  return false;
}

Boolean vlControlHasPopupWindow(TWinControl* AControl) {
  TvlContainer* c = vlGetContainerOfControl(AControl);
  return c && c->HasPopupWindow();
}

Boolean vlIsWindowInMDIFrame(TCustomForm* AForm, HWND AWnd) {
  if (!vlIsMDIChildForm(AForm) || !AForm->HandleAllocated() || !AWnd) return false;
  const HWND client = GetParent(AForm->WindowHandle());
  if (AWnd == client) return true;
  auto* frame = dynamic_cast<TCustomForm*>(FindControl(GetParent(client)));
  if (!frame) return false;
  if (vlIsWindowOwnedBy(frame, AWnd, true)) return true;
  for (Integer i = 0; i < frame->MDIChildCount(); ++i) {
    TForm* child = frame->MDIChildren(i);
    if (child != AForm && vlIsWindowOwnedBy(child, AWnd, true)) return true;
  }
  return false;
}

Boolean vlCanControlHotTrack(TWinControl* AControl) {
  if (!Application || !Application->Active() || !vlIsControlWindowVisible(AControl)) return false;
  if (FindVCLWindow(vlGetCursorPos()) != AControl) return false;
  const HWND top = vlGetTopFormWindow(AControl->WindowHandle());
  auto* form = dynamic_cast<TCustomForm*>(FindControl(top));
  if (vlIsActiveWindow(top) || (form && (vlIsActiveMDIChild(form) || vlIsMDIParentForm(form)))) return true;
  if (OpenPopups.empty()) return false;
  TWinControl* owner = OpenPopups.front()->OwnerControl();
  return owner && owner->HandleAllocated() && vlIsSelfOrChildWindow(top, owner->WindowHandle());
}

HWND vlGetTopFormWindow(HWND AWnd) {
  // Up through child windows to the first MDI child form or the first
  // window that is not a child.
  HWND w = AWnd;
  while (w && vlHasChildWindowStyle(w) && !vlIsMDIChildForm(dynamic_cast<TCustomForm*>(FindControl(w))))
    w = GetParent(w);
  return w;
}

// --- TvlCustomPopupWindow ---------------------------------------------------------------------

CL_IMPLEMENT_CLASS(TvlCustomPopupWindow)

void TvlCustomPopupWindow::Create(TWinControl* AOwnerControl) {
  inherited::Create();
  SetFormStyle(fsNormal);
  SetVisible(false);
  FStyle = CreateFrom(GetStyleClass(), static_cast<TPersistent*>(this), Boolean(false),
                      static_cast<TvlContainerStyle*>(nullptr), csNormal);
  FStyle->SetOnChanged(TNotifyEvent(this, &TvlCustomPopupWindow::StyleChanged));
  FViewInfo = CreateFrom(GetViewInfoClass());
  FCaptureFocus = true;
  FOwnerControl = AOwnerControl;
  SetKeyPreview(true);
  FModalMode = true;
}

void TvlCustomPopupWindow::BeforeDestruction() {
  vlClearObjectLinks(this);
  vlRemoveVisiblePopupWindow(this);
  // Marked as destroying first: the popup mode then changes without making
  // the window again.
  inherited::BeforeDestruction();
  SetPopupMode(pmNone);
}

void TvlCustomPopupWindow::Destroy() {
  vlRemoveVisiblePopupWindow(this);
  FreeAndNil(FViewInfo);
  if (FStyle) FStyle->SetOnChanged(TNotifyEvent());
  FreeAndNil(FStyle);
  inherited::Destroy();
}

Boolean TvlCustomPopupWindow::IsVisible() { return IsOpen(this); }

Boolean TvlCustomPopupWindow::HasCapture() { return HandleAllocated() && GetCapture() == WindowHandle(); }

void TvlCustomPopupWindow::LockDeactivate(Boolean ALock) { FDeactivateLockCount += ALock ? 1 : -1; }

Boolean TvlCustomPopupWindow::JustClosed() {
  const Boolean r = FJustClosed;
  FJustClosed = false;
  return r;
}

Boolean TvlCustomPopupWindow::IsSysKeyAccepted(Word AKey) { return (AKey >= VK_PRIOR && AKey <= VK_DOWN) || AKey == VK_F4; }

Boolean TvlCustomPopupWindow::IsShortCut(TWMKey& Message) {
  if (inherited::IsShortCut(Message)) return true;
  TCustomForm* form = FOwnerControl ? GetParentForm(FOwnerControl) : nullptr;
  return form && form != this && form->IsShortCut(Message);
}

Boolean TvlCustomPopupWindow::Focused() {
  if (!IsOpen(this) || !FCaptureFocus || !HandleAllocated()) return false;
  const HWND f = GetFocus();
  return f && (f == WindowHandle() || vlIsWindowOwnedBy(this, f, true));
}

void TvlCustomPopupWindow::SetCaptureFocus(Boolean Value) {
  if (FCaptureFocus == Value) return;
  const Boolean open = IsOpen(this);
  if (open) CloseUp();
  FCaptureFocus = Value;
  if (HandleAllocated()) RecreateWnd();
  if (open) Popup(FocusedControl());
}

void TvlCustomPopupWindow::SetIsTopMost(Boolean Value) {
  if (FIsTopMost == Value) return;
  const Boolean open = IsOpen(this);
  if (open) CloseUp();
  FIsTopMost = Value;
  if (HandleAllocated()) RecreateWnd();
  if (open) Popup(FocusedControl());
}

TRect TvlCustomPopupWindow::OwnerBoundsOnScreen() {
  if (FOwnerControl && FOwnerControl->HandleAllocated() && vlHasChildWindowStyle(FOwnerControl->WindowHandle()))
    return inherited::OwnerBoundsOnScreen();
  return OwnerBounds();
}

void TvlCustomPopupWindow::CorrectBoundsWithDesktopWorkArea(TPoint& APosition) {
  if (!CanShrinkToWorkArea()) return;
  const TRect work = vlGetDesktopWorkAreaAtPoint(APosition);
  Integer w = Width(), h = Height();
  if (APosition.X < work.Left) {
    w -= work.Left - APosition.X;
    APosition.X = work.Left;
  }
  if (APosition.Y < work.Top) {
    h -= work.Top - APosition.Y;
    APosition.Y = work.Top;
  }
  h = std::min(h, work.Bottom - APosition.Y);
  w = std::min(w, work.Right - APosition.X);
  const Integer asked = Height();
  SetWidth(w);
  SetHeight(h);
  if (Height() != asked && APosition.Y == work.Top) APosition.Y += asked - Height();
}

void TvlCustomPopupWindow::CreateParams(TCreateParams& Params) {
  inherited::CreateParams(Params);
  if (FCaptureFocus) {
    if (HWND f = FormWindowOf(FOwnerControl)) Params.WndParent = f;
    Params.Style = (Params.Style & ~WS_CHILD) | WS_POPUP;
    TCustomForm* form = FOwnerControl ? GetParentForm(FOwnerControl) : nullptr;
    if (FIsTopMost && (!form || (form->HandleAllocated() &&
                                 (GetWindowLongW(form->WindowHandle(), GWL_EXSTYLE) & WS_EX_TOPMOST))))
      Params.ExStyle |= WS_EX_TOPMOST;
  } else {
    Params.Style = (Params.Style & ~WS_POPUP) | WS_CHILD;
    Params.ExStyle |= WS_EX_TOOLWINDOW;
    if (!Params.WndParent && vlGetMessageWindow()) Params.WndParent = vlGetMessageWindow()->Handle();
  }
  Params.Style |= WS_CLIPCHILDREN;
}

void TvlCustomPopupWindow::CreateWnd() {
  // While the window is made the popup counts as open.
  const Boolean wasOpen = IsOpen(this);
  vlAddVisiblePopupWindow(this);
  Finally leave([&] {
    if (!wasOpen) vlRemoveVisiblePopupWindow(this);
  });
  // Set before the window is made: set after, it would make the window again,
  // and the hook would close the popup at the old window's WM_DESTROY.
  SetPopupParent(FCaptureFocus && OwnerControl() ? GetParentForm(OwnerControl()) : nullptr);
  inherited::CreateWnd();
  if (!FCaptureFocus) win::SetParent(WindowHandle(), nullptr);
}

void TvlCustomPopupWindow::Paint() { FViewInfo->Paint(Canvas()); }

void TvlCustomPopupWindow::AdjustClientRect(TRect& Rect) { Rect = FViewInfo->ClientRect; }

void TvlCustomPopupWindow::DoClosed() {
  if (Assigned(FOnClosed)) FOnClosed(this);
}
void TvlCustomPopupWindow::DoClosing() {
  if (Assigned(FOnClosing)) FOnClosing(this);
}
void TvlCustomPopupWindow::DoShowed() {
  if (Assigned(FOnShowed)) FOnShowed(this);
}
void TvlCustomPopupWindow::DoShowing() {
  if (Assigned(FOnShowing)) FOnShowing(this);
}

void TvlCustomPopupWindow::Popup(TWinControl* AFocusedControl) {
  if (IsOpen(this) || !FOwnerControl || !FOwnerControl->HandleAllocated() ||
      !IsWindowVisible(FOwnerControl->WindowHandle()))
    return;
  InitPopup();
  CalculateSize();
  TPoint pos = CalculatePosition();
  CorrectBoundsWithDesktopWorkArea(pos);
  {
    PopupFocusing = true;
    Finally unflag([&] { PopupFocusing = false; });
    vlAddVisiblePopupWindow(this);
    DoShowing();
    SetBounds(pos.X, pos.Y, Width(), Height());
    Show();
    SetBounds(pos.X, pos.Y, Width(), Height());
    if (FCaptureFocus) {
      if (AFocusedControl && AFocusedControl->CanFocus() && AFocusedControl->TabStop())
        FFocusedControl = AFocusedControl;
      else if (TWinControl* first = FindNextControl(nullptr, true, true, false))
        FFocusedControl = first;
      else
        FFocusedControl = this;
    } else {
      FFocusedControl = AFocusedControl;
    }
    TWinControl* focus = FocusedControl() ? FocusedControl() : this;
    // Without a focusable child the popup's own window takes the focus: the
    // form cannot be its own active control.
    if (FCaptureFocus && focus == this && HandleAllocated())
      win::SetFocus(WindowHandle());
    else if (FCaptureFocus && focus->CanFocus())
      focus->SetFocus();
    TCustomForm* form = GetParentForm(FOwnerControl);
    const Boolean top = !FCaptureFocus || !form ||
                        (form->HandleAllocated() && (GetWindowLongW(form->WindowHandle(), GWL_EXSTYLE) & WS_EX_TOPMOST));
    SetWindowPos(WindowHandle(), top ? HWND_TOPMOST : HWND_TOP, 0, 0, 0, 0,
                 SWP_SHOWWINDOW | SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE);
  }
  SetModalResult(0);
  // The owner's handler of the showing may free the popup with its owner.
  TWeakRef<TvlCustomPopupWindow> self(this);
  DoShowed();
  if (!self || !FCaptureFocus || !FModalMode) return;
  while (self && Visible() && !Application->Terminated()) {
    MSG m{};
    if (PeekMessageW(&m, nullptr, WM_SYSKEYDOWN, WM_SYSKEYDOWN, PM_NOREMOVE) &&
        (m.wParam == VK_RETURN || m.wParam == VK_MENU || m.wParam == VK_SPACE))
      PeekMessageW(&m, nullptr, WM_SYSKEYDOWN, WM_SYSKEYDOWN, PM_REMOVE);
    if (ModalResult() != 0) {
      if (CloseQuery())
        ModalCloseUp();
      else
        SetModalResult(0);
    }
    if (!self || !Visible()) break;
    Application->HandleMessage();
  }
}

void TvlCustomPopupWindow::CloseUp() {
  if (!IsOpen(this)) return;
  // The closing events may free the popup: nothing of it is read after that.
  TWeakRef<TvlCustomPopupWindow> self(this);
  {
    vlChangeFocusingLock(true);
    Finally unlock([&] { vlChangeFocusingLock(false); });
    vlRemoveVisiblePopupWindow(this);
    DoClosing();
    if (!self) return;
    if (HandleAllocated()) ShowWindow(WindowHandle(), SW_HIDE);
    Hide();
    DoClosed();
    if (!self) return;
    if (TControl* capture = GetCaptureControl())
      if (TWinControl* w = dynamic_cast<TWinControl*>(capture); w && w->HandleAllocated() &&
                                                               vlIsWindowOwnedBy(this, w->WindowHandle(), true))
        SetCaptureControl(nullptr);
  }
  if (OpenPopups.empty() && FOwnerControl) {
    TCustomForm* form = GetParentForm(FOwnerControl);
    if (form && form->HandleAllocated() && !vlIsMDIParentForm(form) && !form->Active())
      SendMessageW(form->WindowHandle(), WM_NCACTIVATE, 0, 0);
  }
}

Boolean TvlCustomPopupWindow::SetFocusedControl(TWinControl* Control) {
  vlChangeFocusingLock(true);
  Finally unlock([&] { vlChangeFocusingLock(false); });
  return inherited::SetFocusedControl(Control);
}

void TvlCustomPopupWindow::ClosePopup() {
  if (HandleAllocated()) PostMessageW(WindowHandle(), VLM_POPUPCLOSE, 0, 0);
}

void TvlCustomPopupWindow::DoDeactivate() {
  // The forms deactivate on WM_ACTIVATE, not on a CM_DEACTIVATE the hook could
  // swallow: a deactivation while focus moves into or out of a popup is
  // ignored here, as the swallowed message would be.
  if (FDeactivateLockCount > 0 || FocusingLock > 0 || PopupFocusing) return;
  const HWND active = GetActiveWindow();
  for (size_t i = OpenPopups.size(); i-- > 0;) {
    if (i >= OpenPopups.size()) continue;
    TvlCustomPopupWindow* p = OpenPopups[i];
    if (p->HandleAllocated() && p->WindowHandle() == active) break;
    if (p->HandleAllocated() && IsWindowEnabled(p->WindowHandle()) && p->DeactivateLockCount() == 0) p->CloseUp();
  }
  if (IsOpen(this)) CloseUp();
}

void TvlCustomPopupWindow::KeyDown(Word& Key, TShiftState Shift) {
  if (Key == VK_ESCAPE && IsOpen(this) && HasCapture()) {
    ReleaseCapture();
    Key = 0;
    return;
  }
  inherited::KeyDown(Key, Shift);
}

void TvlCustomPopupWindow::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case VLM_POPUPCLOSE:
      LockDeactivate(true);
      CloseUp();
      LockDeactivate(false);
      if (FOwnerControl && FOwnerControl->HandleAllocated())
        SendMessageW(FOwnerControl->WindowHandle(), WM_SETFOCUS, 0, 0);
      break;
    case VLM_POPUPREOPEN:
      Popup(FocusedControl());
      break;
    case WM_ERASEBKGND:
      if (ErasesBackground())
        inherited::Dispatch(Message);
      else
        Message.Result = 1;
      break;
    case WM_ACTIVATEAPP:
      Message.Result = 0;  // the call-window hook decides
      break;
    case CM_MOUSEENTER:
    case CM_MOUSELEAVE:
      inherited::Dispatch(Message);
      vlNotifyMouseEnterLeave(this, this, Message);
      break;
    case CM_VISIBLECHANGED:
      inherited::Dispatch(Message);
      if (FCaptureFocus && FOwnerControl && HandleAllocated() && !Visible()) {
        const HWND f = GetFocus();
        if (f && f == FormWindowOf(FOwnerControl) && FOwnerControl->CanFocus() &&
            !FOwnerControl->ComponentState().Contains(csDesigning))
          FOwnerControl->SetFocus();
      }
      break;
    default:
      inherited::Dispatch(Message);
  }
}
