// TWinControl, TGraphicControl and TCustomControl.
#include <algorithm>
#include <cstdio>
#include <functional>

#include "platform/classes/WeakRef.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Finally.h"
#include "platform/rtl/Numbers.h"
#include "platform/rtl/Strings.h"
#include "platform/vcl/Controls.h"
#include "platform/vcl/ControlsInternal.h"
#include "platform/win/WinControls.h"

using namespace win;
using namespace controls_detail;

namespace {

// The control whose window is being created: its first message installs
// the control's object instance as the window procedure.
TWinControl* gCreationControl = nullptr;

LRESULT InitWndProc(HWND h, UINT m, WPARAM w, LPARAM l);

// Writes an exception no application handler took to standard error.
void DefaultHandleException() {
  try {
    throw;
  } catch (const EAbort&) {
  } catch (const Exception& e) {
    std::fprintf(stderr, "%s: %s\n", UTF16ToUTF8(e.ClassName()).c_str(), e.what());
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
  } catch (...) {
    std::fprintf(stderr, "unknown exception in a message handler\n");
  }
}

bool PtIn(const TRect& R, const TPoint& P) {
  return P.X >= R.Left && P.X < R.Right && P.Y >= R.Top && P.Y < R.Bottom;
}

}  // namespace

struct TWinControlAccess {
  static LRESULT Init(HWND h, UINT m, WPARAM w, LPARAM l) {
    TWinControl* c = gCreationControl;
    if (!c) return DefWindowProcW(h, m, w, l);
    gCreationControl = nullptr;
    c->FHandle = h;
    HandleMap()[h] = c;
    SetWindowLongPtrW(h, GWLP_WNDPROC, c->FObjectInstance.ToLongPtr());
    return c->FObjectInstance(h, m, w, l);
  }
};

namespace {
LRESULT InitWndProc(HWND h, UINT m, WPARAM w, LPARAM l) { return TWinControlAccess::Init(h, m, w, l); }
}  // namespace

// --- TWinControl ------------------------------------------------------------------------------------

CL_IMPLEMENT_CLASS(TWinControl)

void TWinControl::Create(TComponent* AOwner) {
  inherited::Create(AOwner);
  FObjectInstance = MakeObjectInstance(TWndMethod(this, &TWinControl::MainWndProc));
  FBrush = New<TBrush>();
  FBrush->SetColor(Color());
  FCtl3D = true;
  FParentCtl3D = true;
  FParentDoubleBuffered = true;
  FTabOrder = -1;
}

void TWinControl::CreateParented(HWND ParentWindow) {
  FParentWindow = ParentWindow;
  Create(nullptr);
}

void TWinControl::Destroy() {
  Destroying();
  if (FParent || FParentWindow) {
    SetParent(nullptr);
    FParentWindow = nullptr;
  }
  if (HandleAllocated()) DestroyHandle();
  // Children go with their parent (they are owned elsewhere; the platform frees them).
  while (!FControls.empty() || !FWinControls.empty()) {
    TControl* c = !FWinControls.empty() ? static_cast<TControl*>(FWinControls.back()) : FControls.back();
    Remove(c);
    Free(c);
  }
  FreeAndNil(FBrush);
  if (FObjectInstance) {
    FreeObjectInstance(FObjectInstance);
    FObjectInstance = nullptr;
  }
  inherited::Destroy();
}

// The message layers.

void TWinControl::MainWndProc(TMessage& Message) {
  try {
    WindowProc()(Message);
  } catch (...) {
    ++HandledExceptionCount;
    if (ApplicationHandleException)
      ApplicationHandleException(this);
    else
      DefaultHandleException();
  }
}

void TWinControl::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case WM_SETFOCUS: {
      TWinControl* root = FocusRoot(this);
      if (root && !root->SetFocusedControl(this)) return;
      break;
    }
    case WM_KILLFOCUS:
      if (FControlState.Contains(csFocusing)) return;
      break;
    case WM_NCHITTEST: {
      inherited::WndProc(Message);
      if (Message.Result == HTTRANSPARENT) {
        TWMNCHitTest m(Message);
        if (ControlAtPos(ScreenToClient(m.Pos()), false)) Message.Result = HTCLIENT;
      }
      return;
    }
    case WM_MOUSELEAVE:
      if (MouseControl == this || (MouseControl && MouseControl->Parent() == this &&
                                   !Is<TWinControl>(MouseControl)))
        SetMouseControl(nullptr);
      break;
    case WM_CANCELMODE:
      if (GetCapture() == FHandle && CaptureControl && CaptureControl->Parent() == this)
        CaptureControl->Perform(WM_CANCELMODE, 0, 0);
      break;
    default:
      if (Message.Msg >= WM_MOUSEFIRST && Message.Msg <= WM_MOUSELAST && Message.Msg != WM_MOUSEWHEEL &&
          Message.Msg != WM_MOUSEHWHEEL) {
        if (Message.Msg == WM_MOUSEMOVE && FHandle) {
          // Mouse-over tracking: the graphic child under the mouse, or this control.
          TControl* over = GetCapture() == FHandle && CaptureControl && CaptureControl->Parent() == this
                               ? CaptureControl
                               : nullptr;
          if (!over) {
            TWMMouse m(Message);
            over = ControlAtPos(m.Pos(), false);
          }
          if (!over) over = this;
          TRACKMOUSEEVENT t{};
          t.cbSize = sizeof t;
          t.dwFlags = TME_LEAVE;
          t.hwndTrack = FHandle;
          TrackMouseEvent(&t);
          if (over != MouseControl) {
            // The enter and leave events may free this control.
            TWeakRef<TWinControl> self(this);
            SetMouseControl(over);
            if (!self || !HandleAllocated()) return;
          }
        }
        if (IsControlMouseMsg(Message)) {
          if (Message.Result == 0 && HandleAllocated())
            DefWindowProcW(FHandle, Message.Msg, Message.WParam, Message.LParam);
          return;
        }
      } else if (Message.Msg >= WM_KEYFIRST && Message.Msg <= WM_KEYLAST) {
        if (Dragging()) return;
      }
  }
  inherited::WndProc(Message);
}

Boolean TWinControl::IsControlMouseMsg(TMessage& Message) {
  TControl* control = nullptr;
  TWMMouse m(Message);
  if (GetCapture() == FHandle) {
    if (CaptureControl && CaptureControl->Parent() == this) control = CaptureControl;
  } else {
    control = ControlAtPos(m.Pos(), false);
  }
  if (!control) return false;
  TPoint p{m.XPos() - control->Left(), m.YPos() - control->Top()};
  Message.Result = control->Perform(Message.Msg, Message.WParam, PointToLParam(p));
  return true;
}

void TWinControl::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_PAINT: WMPaint(Message); break;
    case WM_COMMAND: WMCommand(Message); break;
    case WM_NOTIFY: WMNotify(Message); break;
    case WM_SYSCOLORCHANGE: WMSysColorChange(Message); break;
    case WM_HSCROLL: WMHScroll(Message); break;
    case WM_VSCROLL: WMVScroll(Message); break;
    case WM_COMPAREITEM: WMCompareItem(Message); break;
    case WM_DELETEITEM: WMDeleteItem(Message); break;
    case WM_DRAWITEM: WMDrawItem(Message); break;
    case WM_MEASUREITEM: WMMeasureItem(Message); break;
    case WM_ERASEBKGND: WMEraseBkgnd(Message); break;
    case WM_WINDOWPOSCHANGED: WMWindowPosChanged(Message); break;
    case WM_WINDOWPOSCHANGING: WMWindowPosChanging(Message); break;
    case WM_SIZE: WMSize(Message); break;
    case WM_MOVE: WMMove(Message); break;
    case WM_SETCURSOR: WMSetCursor(Message); break;
    case WM_KEYDOWN: WMKeyDown(Message); break;
    case WM_SYSKEYDOWN: WMSysKeyDown(Message); break;
    case WM_KEYUP: WMKeyUp(Message); break;
    case WM_SYSKEYUP: WMSysKeyUp(Message); break;
    case WM_CHAR: WMChar(Message); break;
    case WM_SYSCHAR: WMSysChar(Message); break;
    case WM_CHARTOITEM: WMCharToItem(Message); break;
    case WM_PARENTNOTIFY: WMParentNotify(Message); break;
    case WM_VKEYTOITEM: WMVKeyToItem(Message); break;
    case WM_SETFOCUS: WMSetFocus(Message); break;
    case WM_KILLFOCUS: WMKillFocus(Message); break;
    case WM_NCDESTROY: WMNCDestroy(Message); break;
    case WM_NCHITTEST: WMNCHitTest(Message); break;
    case WM_NCPAINT: WMNCPaint(Message); break;
    case WM_WININICHANGE: WMWinIniChange(Message); break;
    case WM_FONTCHANGE: WMFontChange(Message); break;
    case WM_TIMECHANGE: WMTimeChange(Message); break;
    case WM_CONTEXTMENU: WMContextMenu(Message); break;
    case CM_CHANGED: CMChanged(Message); break;
    case CM_CHILDKEY: CMChildKey(Message); break;
    case CM_DIALOGKEY: CMDialogKey(Message); break;
    case CM_DIALOGCHAR: CMDialogChar(Message); break;
    case CM_FOCUSCHANGED: CMFocusChanged(Message); break;
    case CM_VISIBLECHANGED: CMVisibleChanged(Message); break;
    case CM_ENABLEDCHANGED: CMEnabledChanged(Message); break;
    case CM_COLORCHANGED: CMColorChanged(Message); break;
    case CM_FONTCHANGED: CMFontChanged(Message); break;
    case CM_BORDERCHANGED: CMBorderChanged(Message); break;
    case CM_CURSORCHANGED: CMCursorChanged(Message); break;
    case CM_CTL3DCHANGED: CMCtl3DChanged(Message); break;
    case CM_PARENTCTL3DCHANGED: CMParentCtl3DChanged(Message); break;
    case CM_SHOWINGCHANGED: CMShowingChanged(Message); break;
    case CM_SHOWHINTCHANGED: CMShowHintChanged(Message); break;
    case CM_ENTER: CMEnter(Message); break;
    case CM_EXIT: CMExit(Message); break;
    case CM_SYSCOLORCHANGE: CMSysColorChange(Message); break;
    case CM_SYSFONTCHANGED: CMSysFontChanged(Message); break;
    case CM_WININICHANGE: CMWinIniChange(Message); break;
    case CM_FONTCHANGE: CMFontChange(Message); break;
    case CM_TIMECHANGE: CMTimeChange(Message); break;
    case CM_DRAG: CMDrag(Message); break;
    case CN_KEYDOWN: CNKeyDown(Message); break;
    case CN_KEYUP: CNKeyUp(Message); break;
    case CN_CHAR: CNChar(Message); break;
    case CN_SYSKEYDOWN: CNSysKeyDown(Message); break;
    case CN_SYSCHAR: CNSysChar(Message); break;
    case CM_MOUSEWHEEL: CMMouseWheel(Message); break;
    case CM_INVALIDATE: CMInvalidate(Message); break;
    case CM_BIDIMODECHANGED: CMBiDiModeChanged(Message); break;
    case CM_TEXTCHANGED: CMTextChanged(Message); break;
    case CM_DOUBLEBUFFEREDCHANGED: CMDoubleBufferedChanged(Message); break;
    case CM_PARENTDOUBLEBUFFEREDCHANGED: CMParentDoubleBufferedChanged(Message); break;
    case CM_RECREATEWND: CMRecreateWnd(Message); break;
    case CM_TABSTOPCHANGED: CMTabStopChanged(Message); break;
    case CM_DESTROYHANDLE: CMDestroyHandle(Message); break;
    default: inherited::Dispatch(Message);
  }
}

void TWinControl::DefaultHandler(TMessage& Message) {
  if (!FHandle) {
    inherited::DefaultHandler(Message);
    return;
  }
  if (Message.Msg == WM_CONTEXTMENU && FParent) {
    Message.Result = static_cast<TControl*>(FParent)->Perform(Message.Msg, Message.WParam, Message.LParam);
    if (Message.Result != 0) return;
  }
  if (Message.Msg >= WM_CTLCOLORMSGBOX && Message.Msg <= WM_CTLCOLORSTATIC) {
    Message.Result = SendMessageW(reinterpret_cast<HWND>(Message.LParam), CN_BASE + Message.Msg, Message.WParam,
                                  Message.LParam);
    return;
  }
  if (Message.Msg >= CN_CTLCOLORMSGBOX && Message.Msg <= CN_CTLCOLORSTATIC) {
    HDC dc = reinterpret_cast<HDC>(Message.WParam);
    SetTextColor(dc, COLORREF(ColorToRGB(Font()->Color())));
    SetBkColor(dc, COLORREF(ColorToRGB(FBrush->Color())));
    Message.Result = reinterpret_cast<LRESULT>(FBrush->Handle());
    return;
  }
  Message.Result = CallWindowProcW(FDefWndProc, FHandle, Message.Msg, Message.WParam, Message.LParam);
}

// Window creation.

HWND TWinControl::Handle() {
  HandleNeeded();
  return FHandle;
}

void TWinControl::HandleNeeded() {
  if (FHandle) return;
  if (FParent) FParent->HandleNeeded();
  CreateHandle();
}

void TWinControl::CreateParams(TCreateParams& Params) {
  Params = TCreateParams{};
  GetText();
  Params.Caption = FText.c_str();
  Params.Style = WS_CHILD | WS_CLIPSIBLINGS;
  AddBiDiModeExStyle(Params.ExStyle);
  if (FControlStyle.Contains(csAcceptsControls)) {
    Params.Style |= WS_CLIPCHILDREN;
    Params.ExStyle |= WS_EX_CONTROLPARENT;
  }
  if (!ComponentState().Contains(csDesigning) && !Enabled()) Params.Style |= WS_DISABLED;
  if (FTabStop) Params.Style |= WS_TABSTOP;
  Params.X = Left();
  Params.Y = Top();
  Params.Width = Width();
  Params.Height = Height();
  Params.WndParent = FParent ? FParent->Handle() : FParentWindow;
  Params.WindowClass.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
  Params.WindowClass.lpfnWndProc = WNDPROC(&DefWindowProcW);
  Params.WindowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  Params.WindowClass.hbrBackground = nullptr;
  Params.WindowClass.hInstance = HInstance;
  String name = ClassName();
  size_t n = std::min(name.size(), size_t(63));
  std::copy(name.begin(), name.begin() + ptrdiff_t(n), Params.WinClassName);
  Params.WinClassName[n] = 0;
}

void TWinControl::CreateSubClass(TCreateParams& Params, const Char* ControlClassName) {
  WNDCLASSW cls{};
  if (ControlClassName && GetClassInfoW(HInstance, ControlClassName, &cls)) {
    WNDCLASSW keep = Params.WindowClass;
    Params.WindowClass = cls;
    Params.WindowClass.hInstance = keep.hInstance;
    Params.WindowClass.style &= ~UINT(CS_OWNDC | CS_CLASSDC | CS_PARENTDC | CS_GLOBALCLASS);
  }
}

void TWinControl::AddBiDiModeExStyle(DWORD& ExStyle) {
  if (UseRightToLeftReading()) ExStyle |= WS_EX_RTLREADING;
  if (UseRightToLeftScrollBar()) ExStyle |= WS_EX_LEFTSCROLLBAR;
  if (UseRightToLeftAlignment()) ExStyle |= WS_EX_RIGHT;
}

void TWinControl::CreateWnd() {
  TCreateParams params;
  CreateParams(params);
  if (!params.WndParent && (params.Style & WS_CHILD)) {
    if (Owner() && Owner()->ComponentState().Contains(csReading) && Is<TWinControl>(Owner()))
      params.WndParent = static_cast<TWinControl*>(Owner())->Handle();
    else
      throw EInvalidOperation(u"Control '" + Name() + u"' has no parent window");
  }
  FDefWndProc = params.WindowClass.lpfnWndProc;
  WNDCLASSW temp{};
  bool registered = GetClassInfoW(params.WindowClass.hInstance, params.WinClassName, &temp);
  if (!registered || !(temp.lpfnWndProc == WNDPROC(&InitWndProc))) {
    if (registered) UnregisterClassW(params.WinClassName, params.WindowClass.hInstance);
    params.WindowClass.lpfnWndProc = WNDPROC(&InitWndProc);
    params.WindowClass.lpszClassName = params.WinClassName;
    if (!RegisterClassW(&params.WindowClass))
      throw EOSError(u"Cannot register the window class " + String(params.WinClassName));
  }
  gCreationControl = this;
  {
    Finally reset([&] { gCreationControl = nullptr; });
    CreateWindowHandle(params);
  }
  if (!FHandle) throw EOSError(u"Cannot create the window of " + Name());
  if ((GetWindowLongW(FHandle, GWL_STYLE) & WS_CHILD) && GetWindowLongW(FHandle, GWL_ID) == 0)
    SetWindowLongW(FHandle, GWL_ID, LONG_PTR(HandleMap().size()));
  UpdateBounds();
  Perform(WM_SETFONT, WPARAM(Font()->Handle()), 1);
  if (AutoSize()) AdjustSize();
}

void TWinControl::CreateWindowHandle(const TCreateParams& Params) {
  HWND h = CreateWindowExW(Params.ExStyle, Params.WinClassName, Params.Caption, Params.Style, Params.X, Params.Y,
                           Params.Width, Params.Height, Params.WndParent, nullptr, Params.WindowClass.hInstance,
                           Params.Param);
  if (h && !FHandle) {
    // A window whose procedure never saw a message (should not happen).
    FHandle = h;
    HandleMap()[h] = this;
  }
}

void TWinControl::CreateHandle() {
  if (FHandle) return;
  CreateWnd();
  if (FParent) {
    // Later windowed siblings are above: the new window goes below the next
    // one that has a window, or on top when none has.
    auto& list = FParent->FWinControls;
    auto it = std::find(list.begin(), list.end(), this);
    HWND after = HWND_TOP;
    if (it != list.end())
      for (auto j = it + 1; j != list.end(); ++j)
        if ((*j)->FHandle) {
          after = (*j)->FHandle;
          break;
        }
    SetWindowPos(FHandle, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
  for (Integer i = 0; i < ControlCount(); ++i) Controls(i)->UpdateAnchorRules();
}

void TWinControl::DestroyHandle() {
  if (!FHandle) return;
  for (TWinControl* c : FWinControls) c->DestroyHandle();
  DestroyWnd();
}

void TWinControl::DestroyWnd() {
  GetText();  // keep the text while there is no window
  DestroyWindowHandle();
}

void TWinControl::DestroyWindowHandle() {
  FControlState.Include(csDestroyingHandle);
  HWND h = FHandle;
  if (!DestroyWindow(h)) {
    FControlState.Exclude(csDestroyingHandle);
    throw EOSError(u"Cannot destroy the window of " + Name());
  }
  FControlState.Exclude(csDestroyingHandle);
  HandleMap().erase(h);
  FHandle = nullptr;
  FShowing = false;
}

void TWinControl::WMNCDestroy(TMessage& Message) {
  inherited::Dispatch(Message);
  HandleMap().erase(FHandle);
  FHandle = nullptr;
  FShowing = false;
}

void TWinControl::RecreateWnd() {
  if (FHandle) Perform(CM_RECREATEWND, 0, 0);
}

void TWinControl::CMRecreateWnd(TMessage&) {
  bool wasFocused = Focused();
  FControlState.Include(csRecreating);
  {
    Finally recreated([&] { FControlState.Exclude(csRecreating); });
    DestroyHandle();
    UpdateControlState();
  }
  if (wasFocused && FHandle) win::SetFocus(FHandle);
}

void TWinControl::CMDestroyHandle(TMessage&) { DestroyHandle(); }

HWND TWinControl::GetParentHandle() {
  if (FParent) return FParent->Handle();
  return FParentWindow;
}

HWND TWinControl::GetTopParentHandle() {
  TWinControl* c = this;
  while (c->FParent) c = c->FParent;
  HWND h = c->FParentWindow;
  if (!h) return c->Handle();
  while (::win::GetParent(h)) h = ::win::GetParent(h);
  return h;
}

void TWinControl::SetParentWindow(HWND Value) {
  if (FParent || FParentWindow == Value) return;
  if (FHandle && FParentWindow && Value) {
    ::win::SetParent(FHandle, Value);
  } else {
    DestroyHandle();
  }
  FParentWindow = Value;
  UpdateControlState();
}

// Showing.

void TWinControl::UpdateControlState() {
  TWinControl* c = this;
  while (c->FParent) {
    c = c->FParent;
    if (!c->FShowing) return;
  }
  if (c->IsFormControl() || c->FParentWindow) UpdateShowing();
}

void TWinControl::UpdateShowing() {
  bool show = (Visible() && (!ComponentState().Contains(csDesigning) || !FControlStyle.Contains(csNoDesignVisible))) &&
              !FControlState.Contains(csReadingState);
  if (show) {
    if (!FHandle) CreateHandle();
    std::vector<TWinControl*> children = FWinControls;
    for (TWinControl* w : children) w->UpdateShowing();
  }
  if (FHandle && FShowing != show) {
    FShowing = show;
    try {
      Perform(CM_SHOWINGCHANGED, 0, 0);
    } catch (...) {
      FShowing = !show;
      throw;
    }
  }
}

void TWinControl::CMShowingChanged(TMessage&) {
  const UINT flags = SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE;
  SetWindowPos(FHandle, nullptr, 0, 0, 0, 0, flags | (FShowing ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
}

void TWinControl::CMVisibleChanged(TMessage&) {
  if (!Visible() && FParent) RemoveFocus(false);
  if (!ComponentState().Contains(csDesigning) || !FControlStyle.Contains(csNoDesignVisible)) UpdateControlState();
}

void TWinControl::CMEnabledChanged(TMessage&) {
  if (!Enabled() && FParent) RemoveFocus(false);
  if (FHandle && !ComponentState().Contains(csDesigning)) EnableWindow(FHandle, Enabled());
}

void TWinControl::RemoveFocus(Boolean Removing) {
  if (TWinControl* root = FocusRoot(this)) root->DefocusControl(this, Removing);
}

void TWinControl::DefocusControl(TWinControl* Control, Boolean Removing) {
  if (Removing && Control->ContainsControl(FFocusedControl)) FFocusedControl = Control->FParent;
}

// Children.

Integer TWinControl::ControlCount() const { return Integer(FControls.size() + FWinControls.size()); }

TControl* TWinControl::Controls(Integer Index) const {
  if (Index < 0 || Index >= ControlCount()) TList::Error(u"List index out of bounds (%d)", Index);
  size_t i = size_t(Index);
  if (i < FControls.size()) return FControls[i];
  return FWinControls[i - FControls.size()];
}

void TWinControl::Insert(TControl* AControl) {
  if (!AControl) return;
  if (auto* w = dynamic_cast<TWinControl*>(AControl)) {
    FWinControls.push_back(w);
    FTabList.push_back(w);
  } else {
    FControls.push_back(AControl);
  }
  AControl->FParent = this;
}

void TWinControl::Remove(TControl* AControl) {
  if (auto* w = dynamic_cast<TWinControl*>(AControl)) {
    FTabList.erase(std::remove(FTabList.begin(), FTabList.end(), w), FTabList.end());
    FWinControls.erase(std::remove(FWinControls.begin(), FWinControls.end(), w), FWinControls.end());
  } else {
    FControls.erase(std::remove(FControls.begin(), FControls.end(), AControl), FControls.end());
  }
  if (MouseControl == AControl) MouseControl = nullptr;
  if (CaptureControl == AControl) CaptureControl = nullptr;
  AControl->FParent = nullptr;
}

void TWinControl::InsertControl(TControl* AControl) {
  AControl->ValidateContainer(this);
  Perform(CM_CONTROLLISTCHANGING, WPARAM(AControl), 1);
  Insert(AControl);
  if (!AControl->ComponentState().Contains(csReading)) {
    AControl->Perform(CM_PARENTCOLORCHANGED, 0, 0);
    AControl->Perform(CM_PARENTFONTCHANGED, 0, 0);
    AControl->Perform(CM_PARENTSHOWHINTCHANGED, 0, 0);
    AControl->Perform(CM_PARENTBIDIMODECHANGED, 0, 0);
    AControl->Perform(CM_PARENTDOUBLEBUFFEREDCHANGED, 0, 0);
    if (auto* w = dynamic_cast<TWinControl*>(AControl)) {
      AControl->Perform(CM_PARENTCTL3DCHANGED, 0, 0);
      w->UpdateControlState();
    } else if (FHandle) {
      AControl->Invalidate();
    }
    AlignControl(AControl);
  }
  Perform(CM_CONTROLCHANGE, WPARAM(AControl), 1);
  Perform(CM_CONTROLLISTCHANGE, WPARAM(AControl), 1);
}

void TWinControl::RemoveControl(TControl* AControl) {
  Perform(CM_CONTROLCHANGE, WPARAM(AControl), 0);
  if (auto* w = dynamic_cast<TWinControl*>(AControl)) {
    w->RemoveFocus(true);
    w->DestroyHandle();
  } else if (FHandle) {
    AControl->InvalidateControl(AControl->Visible(), false);
  }
  Remove(AControl);
  Perform(CM_CONTROLLISTCHANGE, WPARAM(AControl), 0);
  Realign();
}

void TWinControl::SetParent(TWinControl* AParent) {
  if (AParent && FParentWindow) FParentWindow = nullptr;
  inherited::SetParent(AParent);
}

Boolean TWinControl::ContainsControl(TControl* Control) {
  while (Control && Control != this) Control = Control->Parent();
  return Control != nullptr;
}

TControl* TWinControl::ControlAtPos(const TPoint& Pos, Boolean AllowDisabled, Boolean AllowWinControls,
                                    Boolean AllLevels) {
  TControl* found = nullptr;
  auto test = [&](TControl* c) {
    TPoint p{Pos.X - c->Left(), Pos.Y - c->Top()};
    bool hit = PtIn(c->ClientRect(), p) &&
               ((c->ComponentState().Contains(csDesigning) &&
                 (c->Visible() || !c->ControlStyle().Contains(csNoDesignVisible))) ||
                (c->Visible() && (c->Enabled() || AllowDisabled) && c->Perform(CM_HITTEST, 0, PointToLParam(p)) != 0));
    if (hit) found = c;
    return hit;
  };
  if (AllowWinControls)
    for (auto it = FWinControls.rbegin(); it != FWinControls.rend(); ++it)
      if (test(*it)) break;
  if (!found)
    for (auto it = FControls.rbegin(); it != FControls.rend(); ++it)
      if (test(*it)) break;
  if (AllLevels && found) {
    if (auto* w = dynamic_cast<TWinControl*>(found)) {
      TControl* inner =
          w->ControlAtPos(TPoint{Pos.X - w->Left(), Pos.Y - w->Top()}, AllowDisabled, AllowWinControls, true);
      if (inner) found = inner;
    }
  }
  return found;
}

TControl* TWinControl::FindChildControl(const String& ControlName) {
  for (Integer i = 0; i < ControlCount(); ++i)
    if (SameText(Controls(i)->Name(), ControlName)) return Controls(i);
  return nullptr;
}

void TWinControl::Broadcast(TMessage& Message) {
  for (Integer i = 0; i < ControlCount(); ++i) {
    Controls(i)->WindowProc()(Message);
    if (Message.Result != 0) return;
  }
}

void TWinControl::NotifyControls(Word Msg) {
  TMessage m;
  m.Msg = Msg;
  Broadcast(m);
}

void TWinControl::GetChildren(TGetChildProc Proc, TComponent* Root) {
  for (Integer i = 0; i < ControlCount(); ++i) {
    TControl* c = Controls(i);
    if (c->Owner() == Root) Proc(c);
  }
}

void TWinControl::SetChildOrder(TComponent* Child, Integer Order) {
  auto* c = dynamic_cast<TControl*>(Child);
  if (!c || c->Parent() != this) return;
  if (auto* w = dynamic_cast<TWinControl*>(c)) {
    w->SetZOrderPosition(Order - Integer(FControls.size()));
  } else {
    auto it = std::find(FControls.begin(), FControls.end(), c);
    FControls.erase(it);
    size_t pos = size_t(std::clamp<Integer>(Order, 0, Integer(FControls.size())));
    FControls.insert(FControls.begin() + ptrdiff_t(pos), c);
  }
}

void TWinControl::SetZOrderPosition(Integer Position) {
  if (!FParent) return;
  auto& list = FParent->FWinControls;
  auto it = std::find(list.begin(), list.end(), this);
  if (it == list.end()) return;
  list.erase(it);
  size_t pos = size_t(std::clamp<Integer>(Position, 0, Integer(list.size())));
  list.insert(list.begin() + ptrdiff_t(pos), this);
  if (FHandle) {
    HWND after = HWND_BOTTOM;
    // Later siblings are above: the window goes below the next sibling with a window.
    for (size_t j = pos + 1; j < list.size(); ++j)
      if (list[j]->FHandle) {
        after = list[j]->FHandle;
        break;
      }
    if (after == HWND_BOTTOM) after = HWND_TOP;
    SetWindowPos(FHandle, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
}

void TWinControl::FlipChildren(Boolean AllLevels) {
  if (ControlCount() == 0) return;
  DisableAlign();
  Finally enableAlign([&] { EnableAlign(); });
  TRect r = GetClientRect();
  AdjustClientRect(r);
  std::vector<TControl*> list;
  for (Integer i = 0; i < ControlCount(); ++i) list.push_back(Controls(i));
  for (TControl* c : list) {
    if (c->Align() == alLeft)
      c->SetAlign(alRight);
    else if (c->Align() == alRight)
      c->SetAlign(alLeft);
    else
      c->SetBounds(r.Right - (c->Left() - r.Left) - c->Width(), c->Top(), c->Width(), c->Height());
    if (AllLevels)
      if (auto* w = dynamic_cast<TWinControl*>(c)) w->FlipChildren(true);
  }
}

void TWinControl::SetZOrder(Boolean TopMost) {
  if (!FParent) {
    if (FHandle)
      SetWindowPos(FHandle, TopMost ? HWND_TOP : HWND_BOTTOM, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    return;
  }
  SetZOrderPosition(TopMost ? Integer(FParent->FWinControls.size()) : 0);
}

// Alignment.

void TWinControl::DisableAlign() { ++FAlignLevel; }

void TWinControl::EnableAlign() {
  if (FAlignLevel > 0) --FAlignLevel;
  if (FAlignLevel == 0 && FControlState.Contains(csAlignmentNeeded)) Realign();
}

void TWinControl::Realign() { AlignControl(nullptr); }

void TWinControl::AlignControl(TControl* AControl) {
  if (!FHandle || ComponentState().Contains(csDestroying)) return;
  if (FAlignLevel != 0) {
    FControlState.Include(csAlignmentNeeded);
    return;
  }
  DisableAlign();
  Finally aligned([&] {
    FControlState.Exclude(csAlignmentNeeded);
    EnableAlign();
  });
  TRect r = GetClientRect();
  AlignControls(AControl, r);
}

void TWinControl::AdjustClientRect(TRect& Rect) {
  Rect.Left += FBorderWidth;
  Rect.Top += FBorderWidth;
  Rect.Right -= FBorderWidth;
  Rect.Bottom -= FBorderWidth;
}

Boolean TWinControl::CustomAlignInsertBefore(TControl* C1, TControl* C2) {
  if (Assigned(FOnAlignInsertBefore)) return FOnAlignInsertBefore(this, C1, C2);
  return false;
}

void TWinControl::CustomAlignPosition(TControl*, Integer&, Integer&, Integer&, Integer&, TRect&) {}

Boolean TWinControl::AlignWork() {
  for (Integer i = ControlCount() - 1; i >= 0; --i)
    if (Controls(i)->Align() != alNone || Controls(i)->Anchors() != TAnchors{akLeft, akTop}) return true;
  return false;
}

namespace {

bool InsertBefore(TWinControl* Self, TControl* C1, TControl* C2, TAlign AAlign,
                  const std::function<bool(TControl*, TControl*)>& Custom) {
  switch (AAlign) {
    case alTop: return C1->Top() < C2->Top();
    case alBottom: return C1->Top() + C1->Height() >= C2->Top() + C2->Height();
    case alLeft: return C1->Left() < C2->Left();
    case alRight: return C1->Left() + C1->Width() >= C2->Left() + C2->Width();
    case alCustom: return Custom(C1, C2);
    default: return false;
  }
  (void)Self;
}

const TAnchors kAnchorAlign[] = {TAnchors{akLeft, akTop},
                                 TAnchors{akLeft, akTop, akRight},
                                 TAnchors{akLeft, akRight, akBottom},
                                 TAnchors{akLeft, akTop, akBottom},
                                 TAnchors{akRight, akTop, akBottom},
                                 TAnchors{akLeft, akTop, akRight, akBottom},
                                 TAnchors{akLeft, akTop}};

}  // namespace

void TWinControl::DoAlign(TControl* AControl, TAlign AAlign, TRect& Rect) {
  std::vector<TControl*> list;
  auto visibleEnough = [](TControl* c) {
    return c->Visible() ||
           (c->ComponentState().Contains(csDesigning) && !c->ControlStyle().Contains(csNoDesignVisible));
  };
  if (AControl && (AAlign == alNone || visibleEnough(AControl)) && AControl->Align() == AAlign)
    list.push_back(AControl);
  auto custom = [this](TControl* a, TControl* b) { return CustomAlignInsertBefore(a, b); };
  for (Integer i = 0; i < ControlCount(); ++i) {
    TControl* c = Controls(i);
    if (c->Align() != AAlign || !(AAlign == alNone || visibleEnough(c))) continue;
    if (c == AControl) continue;
    size_t j = 0;
    while (j < list.size() && !InsertBefore(this, c, list[j], AAlign, custom)) ++j;
    list.insert(list.begin() + ptrdiff_t(j), c);
  }
  for (TControl* control : list) {
    if (AAlign == alNone || control->Anchors() != kAnchorAlign[AAlign]) {
      if (control->FOriginalParentSize.X != 0 && control->FOriginalParentSize.Y != 0) {
        Integer newLeft = control->Left(), newTop = control->Top();
        Integer newWidth = control->Width(), newHeight = control->Height();
        TPoint parentSize;
        if (FHandle) {
          TRect cr = ClientRect();
          parentSize = TPoint{cr.Right, cr.Bottom};
        } else {
          parentSize = TPoint{Width(), Height()};
        }
        TAnchors a = control->Anchors();
        const TPoint& orig = control->FOriginalParentSize;
        const TPoint& rules = control->FAnchorRules;
        if (a.Contains(akRight)) {
          if (a.Contains(akLeft))
            newWidth = parentSize.X - (orig.X - rules.X);
          else
            newLeft = parentSize.X - (orig.X - rules.X);
        } else if (!a.Contains(akLeft)) {
          newLeft = MulDiv(rules.X, parentSize.X, orig.X) - newWidth / 2;
        }
        if (a.Contains(akBottom)) {
          if (a.Contains(akTop))
            newHeight = parentSize.Y - (orig.Y - rules.Y);
          else
            newTop = parentSize.Y - (orig.Y - rules.Y);
        } else if (!a.Contains(akTop)) {
          newTop = MulDiv(rules.Y, parentSize.Y, orig.Y) - newHeight / 2;
        }
        control->FAnchorMove = true;
        Finally reset([&] { control->FAnchorMove = false; });
        control->SetBounds(newLeft, newTop, newWidth, newHeight);
      }
      if (AAlign == alNone) continue;
    }
    Integer newWidth = Rect.Right - Rect.Left;
    if (newWidth < 0 || AAlign == alLeft || AAlign == alRight || AAlign == alCustom) newWidth = control->Width();
    Integer newHeight = Rect.Bottom - Rect.Top;
    if (newHeight < 0 || AAlign == alTop || AAlign == alBottom || AAlign == alCustom) newHeight = control->Height();
    Integer newLeft = Rect.Left, newTop = Rect.Top;
    switch (AAlign) {
      case alTop: Rect.Top += newHeight; break;
      case alBottom:
        Rect.Bottom -= newHeight;
        newTop = Rect.Bottom;
        break;
      case alLeft: Rect.Left += newWidth; break;
      case alRight:
        Rect.Right -= newWidth;
        newLeft = Rect.Right;
        break;
      case alCustom:
        newLeft = control->Left();
        newTop = control->Top();
        CustomAlignPosition(control, newLeft, newTop, newWidth, newHeight, Rect);
        break;
      default: break;
    }
    control->FAnchorMove = true;
    {
      Finally reset([&] { control->FAnchorMove = false; });
      control->SetBounds(newLeft, newTop, newWidth, newHeight);
    }
    // A control that did not take the size asked gives the difference back.
    if (control->Width() != newWidth || control->Height() != newHeight) switch (AAlign) {
        case alTop: Rect.Top -= newHeight - control->Height(); break;
        case alBottom: Rect.Bottom += newHeight - control->Height(); break;
        case alLeft: Rect.Left -= newWidth - control->Width(); break;
        case alRight: Rect.Right += newWidth - control->Width(); break;
        case alClient:
          Rect.Right += newWidth - control->Width();
          Rect.Bottom += newHeight - control->Height();
          break;
        default: break;
      }
  }
}

void TWinControl::AlignControls(TControl* AControl, TRect& Rect) {
  if (AlignWork()) {
    AdjustClientRect(Rect);
    for (TAlign a : {alTop, alBottom, alLeft, alRight, alClient, alCustom, alNone}) DoAlign(AControl, a, Rect);
    ControlsAligned();
  }
  if (FShowing) AdjustSize();
}

void TWinControl::SetBorderWidth(TBorderWidth Value) {
  if (FBorderWidth == Value) return;
  FBorderWidth = Value;
  Perform(CM_BORDERCHANGED, 0, 0);
}

void TWinControl::CMBorderChanged(TMessage&) {
  Realign();
  Invalidate();
}

void TWinControl::AdjustSize() {
  if (!ComponentState().Contains(csLoading) && FHandle) {
    SetWindowPos(FHandle, nullptr, 0, 0, Width(), Height(), SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOZORDER);
    RequestAlign();
  }
}

Boolean TWinControl::CanAutoSize(Integer& NewWidth, Integer& NewHeight) {
  if (!FHandle) return true;
  // The extents of the visible children, moved to the client rectangle's corner.
  bool any = false;
  TRect ext{INT32_MAX, INT32_MAX, 0, 0};
  for (Integer i = 0; i < ControlCount(); ++i) {
    TControl* c = Controls(i);
    if (!c->Visible() && !ComponentState().Contains(csDesigning)) continue;
    any = true;
    ext.Left = std::min(ext.Left, c->Left());
    ext.Top = std::min(ext.Top, c->Top());
    ext.Right = std::max(ext.Right, c->Left() + c->Width());
    ext.Bottom = std::max(ext.Bottom, c->Top() + c->Height());
  }
  if (!any) return true;
  TRect client = GetClientRect();
  TRect adjusted = client;
  AdjustClientRect(adjusted);
  Integer dx = adjusted.Left - ext.Left, dy = adjusted.Top - ext.Top;
  if (dx != 0 || dy != 0) {
    DisableAlign();
    for (Integer i = 0; i < ControlCount(); ++i) {
      TControl* c = Controls(i);
      if (c->Align() == alNone) c->SetBounds(c->Left() + dx, c->Top() + dy, c->Width(), c->Height());
    }
    FControlState.Exclude(csAlignmentNeeded);
    EnableAlign();
  }
  NewWidth = (ext.Right - ext.Left) + (Width() - client.Right) + (client.Right - adjusted.Right) + adjusted.Left;
  NewHeight = (ext.Bottom - ext.Top) + (Height() - client.Bottom) + (client.Bottom - adjusted.Bottom) + adjusted.Top;
  return true;
}

void TWinControl::ConstrainedResize(Integer& MinWidth, Integer& MinHeight, Integer& MaxWidth, Integer& MaxHeight) {
  inherited::ConstrainedResize(MinWidth, MinHeight, MaxWidth, MaxHeight);
}

void TWinControl::ChangeScale(Integer M, Integer D) {
  DisableAlign();
  Finally enableAlign([&] { EnableAlign(); });
  ScaleControls(M, D);
  inherited::ChangeScale(M, D);
}

void TWinControl::ScaleControls(Integer M, Integer D) {
  for (Integer i = 0; i < ControlCount(); ++i) Controls(i)->ChangeScale(M, D);
}

void TWinControl::ScaleBy(Integer M, Integer D) {
  DisableAlign();
  {
    Finally enableAlign([&] { EnableAlign(); });
    ScaleControls(M, D);
  }
  Realign();
}

void TWinControl::ScrollBy(Integer DeltaX, Integer DeltaY) {
  if (FHandle && (DeltaX || DeltaY)) ScrollWindow(FHandle, DeltaX, DeltaY, nullptr, nullptr);
  for (TControl* c : FControls) {
    c->FLeft += DeltaX;
    c->FTop += DeltaY;
  }
  for (TWinControl* w : FWinControls) {
    if (w->FHandle) {
      w->SetBounds(w->Left() + DeltaX, w->Top() + DeltaY, w->Width(), w->Height());
    } else {
      w->FLeft += DeltaX;
      w->FTop += DeltaY;
    }
  }
  Realign();
}

TPoint TWinControl::GetClientOrigin() {
  POINT p{0, 0};
  ::win::ClientToScreen(Handle(), &p);
  return p;
}

TRect TWinControl::GetClientRect() {
  if (!FHandle) return TControl::GetClientRect();
  RECT r;
  ::win::GetClientRect(FHandle, &r);
  return r;
}

void TWinControl::SetClientSizeCore(Integer AWidth, Integer AHeight) {
  TRect client = GetClientRect();
  SetBounds(Left(), Top(), Width() - client.Right + AWidth, Height() - client.Bottom + AHeight);
}

void TWinControl::SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) {
  ClampBounds(ALeft, ATop, AWidth, AHeight);
  if (ALeft == Left() && ATop == Top() && AWidth == Width() && AHeight == Height()) return;
  if (!CheckNewSize(AWidth, AHeight)) {
    AWidth = Width();
    AHeight = Height();
  }
  if (ALeft == Left() && ATop == Top() && AWidth == Width() && AHeight == Height()) return;
  if (FHandle && !IsIconic(FHandle)) {
    SetWindowPos(FHandle, nullptr, ALeft, ATop, AWidth, AHeight, SWP_NOZORDER | SWP_NOACTIVATE);
  } else {
    FLeft = ALeft;
    FTop = ATop;
    FWidth = AWidth;
    FHeight = AHeight;
  }
  UpdateAnchorRules();
  RequestAlign();
}

void TWinControl::UpdateBounds() {
  RECT r;
  GetWindowRect(FHandle, &r);
  if (GetWindowLongW(FHandle, GWL_STYLE) & WS_CHILD) {
    HWND p = ::win::GetParent(FHandle);
    if (p) {
      POINT tl{r.left, r.top}, br{r.right, r.bottom};
      ::win::ScreenToClient(p, &tl);
      ::win::ScreenToClient(p, &br);
      r = RECT{tl.x, tl.y, br.x, br.y};
    }
  }
  UpdateBoundsRect(r);
}

void TWinControl::WMWindowPosChanged(TMessage& Message) {
  if (!FControlState.Contains(csDestroyingHandle) && FHandle) UpdateBounds();
  inherited::Dispatch(Message);
}

void TWinControl::WMWindowPosChanging(TMessage& Message) {
  // Sizes from outside (SetWindowPos, AdjustSize) pass the same checks as SetBounds.
  TWMWindowPosChanging m(Message);
  WINDOWPOS* pos = m.WindowPos();
  if (pos && !ComponentState().Contains(csReading) && !ComponentState().Contains(csDestroying) &&
      !(pos->flags & SWP_NOSIZE)) {
    Integer w = pos->cx, h = pos->cy;
    if (CheckNewSize(w, h)) {
      pos->cx = w;
      pos->cy = h;
    } else {
      pos->flags |= SWP_NOSIZE;
    }
  }
  inherited::Dispatch(Message);
}

void TWinControl::WMSize(TMessage& Message) {
  if (FHandle) UpdateBounds();
  inherited::Dispatch(Message);
  Realign();
  if (!ComponentState().Contains(csLoading)) Resize();
}

void TWinControl::WMMove(TMessage& Message) {
  if (FHandle) UpdateBounds();
  inherited::Dispatch(Message);
}

// Painting.

void TWinControl::Invalidate() { Perform(CM_INVALIDATE, 0, 0); }

void TWinControl::CMInvalidate(TMessage& Message) {
  if (!FHandle || ComponentState().Contains(csDestroying)) return;
  if (FParent) static_cast<TControl*>(FParent)->Perform(CM_INVALIDATE, 1, 0);
  if (Message.WParam == 0) {
    InvalidateRect(FHandle, nullptr, !FControlStyle.Contains(csOpaque));
    for (TControl* c : FControls)
      if (c->ControlStyle().Contains(csParentBackground)) c->Invalidate();
  }
}

void TWinControl::Update() {
  if (FHandle) UpdateWindow(FHandle);
}

void TWinControl::Repaint() {
  Invalidate();
  Update();
}

void TWinControl::WMPaint(TMessage& Message) {
  TWMPaint m(Message);
  if (!FDoubleBuffered || m.DC()) {
    if (!FControlState.Contains(csCustomPaint) && ControlCount() == 0)
      inherited::Dispatch(Message);
    else
      PaintHandler(Message);
  } else {
    PaintDoubleBuffered(Message);
  }
}

void TWinControl::WMPaintCustom(TMessage& Message) {
  FControlState.Include(csCustomPaint);
  Finally clear([this] { FControlState.Exclude(csCustomPaint); });
  WMPaint(Message);
}

// Paints the window into a memory bitmap of its client size and copies
// that to the screen, so the window never shows half-painted.
void TWinControl::PaintDoubleBuffered(TMessage& Message) {
  TRect client = GetClientRect();
  HDC screen = GetDC(nullptr);
  HBITMAP bmp = CreateCompatibleBitmap(screen, std::max(1, client.Right), std::max(1, client.Bottom));
  ReleaseDC(nullptr, screen);
  HDC mem = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(mem, bmp);
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(FHandle, &ps);
  Finally release([&] {
    Message.WParam = 0;
    EndPaint(FHandle, &ps);
    SelectObject(mem, old);
    DeleteDC(mem);
    DeleteObject(bmp);
  });
  Perform(WM_ERASEBKGND, WPARAM(mem), LPARAM(mem));
  Message.WParam = WPARAM(mem);
  WMPaint(Message);
  BitBlt(dc, 0, 0, client.Right, client.Bottom, mem, 0, 0, SRCCOPY);
}

void TWinControl::PaintHandler(TMessage& Message) {
  TWMPaint m(Message);
  HDC dc = m.DC();
  PAINTSTRUCT ps;
  bool own = dc == nullptr;
  if (own) dc = BeginPaint(FHandle, &ps);
  Finally endPaint([&] { if (own) EndPaint(FHandle, &ps); });
  if (FControls.empty()) {
    PaintWindow(dc);
  } else {
    // Opaque graphic children hide the window's own painting beneath them.
    int save = SaveDC(dc);
    int clip = SIMPLEREGION;
    for (TControl* c : FControls)
      if ((c->Visible() ||
           (c->ComponentState().Contains(csDesigning) && !c->ControlStyle().Contains(csNoDesignVisible))) &&
          c->ControlStyle().Contains(csOpaque)) {
        clip = ExcludeClipRect(dc, c->Left(), c->Top(), c->Left() + c->Width(), c->Top() + c->Height());
        if (clip == NULLREGION) break;
      }
    if (clip != NULLREGION) PaintWindow(dc);
    RestoreDC(dc, save);
  }
  PaintControls(dc, nullptr);
}

void TWinControl::PaintWindow(HDC DC) {
  TMessage m;
  m.Msg = WM_PAINT;
  m.WParam = WPARAM(DC);
  DefaultHandler(m);
}

void TWinControl::PaintControls(HDC DC, TControl* First) {
  size_t i = 0;
  if (First) {
    auto it = std::find(FControls.begin(), FControls.end(), First);
    if (it != FControls.end()) i = size_t(it - FControls.begin());
  }
  std::vector<TControl*> list = FControls;
  for (; i < list.size(); ++i) {
    TControl* c = list[i];
    if (!(c->Visible() ||
          (c->ComponentState().Contains(csDesigning) && !c->ControlStyle().Contains(csNoDesignVisible))))
      continue;
    RECT r = c->BoundsRect();
    if (!RectVisible(DC, &r)) continue;
    if (FControlState.Contains(csPaintCopy)) c->FControlState.Include(csPaintCopy);
    int save = SaveDC(DC);
    POINT org;
    GetWindowOrgEx(DC, &org);
    SetWindowOrgEx(DC, org.x - c->Left(), org.y - c->Top(), nullptr);
    IntersectClipRect(DC, 0, 0, c->Width(), c->Height());
    c->Perform(WM_PAINT, WPARAM(DC), 0);
    RestoreDC(DC, save);
    c->FControlState.Exclude(csPaintCopy);
  }
  for (TWinControl* w : FWinControls)
    if (w->FCtl3D && w->ControlStyle().Contains(csFramed) && w->Visible()) {
      HBRUSH shadow = CreateSolidBrush(COLORREF(ColorToRGB(clBtnShadow)));
      HBRUSH light = CreateSolidBrush(COLORREF(ColorToRGB(clBtnHighlight)));
      RECT a{w->Left() - 1, w->Top() - 1, w->Left() + w->Width(), w->Top() + w->Height()};
      RECT b{w->Left(), w->Top(), w->Left() + w->Width() + 1, w->Top() + w->Height() + 1};
      FrameRect(DC, &a, shadow);
      FrameRect(DC, &b, light);
      DeleteObject(shadow);
      DeleteObject(light);
    }
}

void TWinControl::PaintTo(HDC DC, Integer X, Integer Y) {
  if (!FHandle) return;
  int save = SaveDC(DC);
  POINT org;
  GetViewportOrgEx(DC, &org);
  SetViewportOrgEx(DC, org.x + X, org.y + Y, nullptr);
  IntersectClipRect(DC, 0, 0, Width(), Height());
  Perform(WM_ERASEBKGND, WPARAM(DC), 0);
  FControlState.Include(csPaintCopy);
  Perform(WM_PAINT, WPARAM(DC), 0);
  FControlState.Exclude(csPaintCopy);
  RestoreDC(DC, save);
  for (TWinControl* w : FWinControls)
    if (w->Visible()) w->PaintTo(DC, X + w->Left(), Y + w->Top());
}

void TWinControl::WMEraseBkgnd(TMessage& Message) {
  TWMEraseBkgnd m(Message);
  bool memory = Message.WParam == WPARAM(Message.LParam);
  if (!FDoubleBuffered || memory) {
    // With ParentBackground the parent's colour shows through.
    TBrush* brush = FBrush;
    if (FParent && FControlStyle.Contains(csParentBackground)) brush = FParent->FBrush;
    RECT r = GetClientRect();
    FillRect(m.DC(), &r, brush->Handle());
  }
  Message.Result = 1;
}

void TWinControl::WMNCPaint(TMessage& Message) { inherited::Dispatch(Message); }

HDC TWinControl::GetDeviceContext(HWND& WindowHandle) {
  WindowHandle = Handle();
  HDC dc = GetDC(WindowHandle);
  if (!dc) throw EOutOfResources(u"Out of system resources");
  return dc;
}

void TWinControl::SetDoubleBuffered(Boolean Value) {
  if (FDoubleBuffered == Value) return;
  FDoubleBuffered = Value;
  FParentDoubleBuffered = false;
  Perform(CM_DOUBLEBUFFEREDCHANGED, 0, 0);
}

void TWinControl::SetParentDoubleBuffered(Boolean Value) {
  if (FParentDoubleBuffered == Value) return;
  FParentDoubleBuffered = Value;
  if (FParent) Perform(CM_PARENTDOUBLEBUFFEREDCHANGED, 0, 0);
}

void TWinControl::CMDoubleBufferedChanged(TMessage&) {
  NotifyControls(CM_PARENTDOUBLEBUFFEREDCHANGED);
  Invalidate();
}

void TWinControl::CMParentDoubleBufferedChanged(TMessage&) {
  if (!FParentDoubleBuffered || !FParent) return;
  SetDoubleBuffered(FParent->FDoubleBuffered);
  FParentDoubleBuffered = true;
}

void TWinControl::SetParentBackground(Boolean Value) {
  if (ParentBackground() == Value) return;
  if (Value)
    FControlStyle.Include(csParentBackground);
  else
    FControlStyle.Exclude(csParentBackground);
  Invalidate();
}

void TWinControl::SetCtl3D(Boolean Value) {
  if (FCtl3D == Value) return;
  FCtl3D = Value;
  FParentCtl3D = false;
  Perform(CM_CTL3DCHANGED, 0, 0);
}

void TWinControl::SetParentCtl3D(Boolean Value) {
  if (FParentCtl3D == Value) return;
  FParentCtl3D = Value;
  if (FParent && !ComponentState().Contains(csReading)) Perform(CM_PARENTCTL3DCHANGED, 0, 0);
}

void TWinControl::CMCtl3DChanged(TMessage&) { NotifyControls(CM_PARENTCTL3DCHANGED); }

void TWinControl::CMParentCtl3DChanged(TMessage&) {
  if (!FParentCtl3D || !FParent) return;
  SetCtl3D(FParent->FCtl3D);
  FParentCtl3D = true;
}

void TWinControl::CMColorChanged(TMessage& Message) {
  TControl::CMColorChanged(Message);
  FBrush->SetColor(Color());
  NotifyControls(CM_PARENTCOLORCHANGED);
}

void TWinControl::CMFontChanged(TMessage& Message) {
  TControl::CMFontChanged(Message);
  if (FHandle) Perform(WM_SETFONT, WPARAM(Font()->Handle()), 0);
  NotifyControls(CM_PARENTFONTCHANGED);
}

void TWinControl::CMShowHintChanged(TMessage& Message) {
  inherited::Dispatch(Message);
  NotifyControls(CM_PARENTSHOWHINTCHANGED);
}

void TWinControl::CMBiDiModeChanged(TMessage& Message) {
  inherited::Dispatch(Message);
  if (SysLocaleMiddleEast && Message.WParam == 0) RecreateWnd();
  NotifyControls(CM_PARENTBIDIMODECHANGED);
}

void TWinControl::CMTextChanged(TMessage& Message) { inherited::Dispatch(Message); }

void TWinControl::CMCursorChanged(TMessage&) {
  POINT p;
  GetCursorPos(&p);
  if (FHandle && FindDragTarget(p, false) == this) Perform(WM_SETCURSOR, WPARAM(FHandle), HTCLIENT);
}

void TWinControl::WMSetCursor(TMessage& Message) {
  TWMSetCursor m(Message);
  if (m.CursorWnd() == FHandle && m.HitTest() == HTCLIENT) {
    TCursor cursor = ScreenCursor();
    if (cursor == crDefault) {
      POINT p;
      GetCursorPos(&p);
      TControl* c = ControlAtPos(ScreenToClient(p), false);
      if (c) cursor = c->ComponentState().Contains(csDesigning) ? TCursor(crArrow) : c->Cursor();
      if (cursor == crDefault) cursor = ComponentState().Contains(csDesigning) ? TCursor(crArrow) : Cursor();
    }
    if (cursor != crDefault) {
      ::win::SetCursor(CursorHandle(cursor));
      Message.Result = 1;
      return;
    }
  }
  inherited::Dispatch(Message);
}

void TWinControl::WMNCHitTest(TMessage& Message) { inherited::Dispatch(Message); }

// Reflected notifications.

Boolean TWinControl::DoControlMsg(HWND ControlHandle, TMessage& Message) {
  TWinControl* c = FindControl(ControlHandle);
  if (!c) return false;
  Message.Result = c->Perform(Message.Msg + CN_BASE, Message.WParam, Message.LParam);
  return true;
}

void TWinControl::WMCommand(TMessage& Message) {
  if (!DoControlMsg(reinterpret_cast<HWND>(Message.LParam), Message)) inherited::Dispatch(Message);
}

void TWinControl::WMNotify(TMessage& Message) { inherited::Dispatch(Message); }

void TWinControl::WMHScroll(TMessage& Message) {
  if (!DoControlMsg(reinterpret_cast<HWND>(Message.LParam), Message)) inherited::Dispatch(Message);
}

void TWinControl::WMVScroll(TMessage& Message) {
  if (!DoControlMsg(reinterpret_cast<HWND>(Message.LParam), Message)) inherited::Dispatch(Message);
}

void TWinControl::WMCompareItem(TMessage& Message) {
  auto* s = reinterpret_cast<COMPAREITEMSTRUCT*>(Message.LParam);
  if (!s || !DoControlMsg(s->hwndItem, Message)) inherited::Dispatch(Message);
}

void TWinControl::WMDeleteItem(TMessage& Message) {
  auto* s = reinterpret_cast<DELETEITEMSTRUCT*>(Message.LParam);
  if (!s || !DoControlMsg(s->hwndItem, Message)) inherited::Dispatch(Message);
}

void TWinControl::WMDrawItem(TMessage& Message) {
  auto* s = reinterpret_cast<DRAWITEMSTRUCT*>(Message.LParam);
  if (!s || !DoControlMsg(s->hwndItem, Message)) inherited::Dispatch(Message);
}

void TWinControl::WMMeasureItem(TMessage& Message) {
  auto* s = reinterpret_cast<MEASUREITEMSTRUCT*>(Message.LParam);
  HWND item = s && FHandle ? GetDlgItem(FHandle, int(s->CtlID)) : nullptr;
  if (!item || !DoControlMsg(item, Message)) inherited::Dispatch(Message);
}

void TWinControl::WMCharToItem(TMessage& Message) {
  if (!DoControlMsg(reinterpret_cast<HWND>(Message.LParam), Message)) inherited::Dispatch(Message);
}

void TWinControl::WMVKeyToItem(TMessage& Message) {
  if (!DoControlMsg(reinterpret_cast<HWND>(Message.LParam), Message)) inherited::Dispatch(Message);
}

void TWinControl::WMParentNotify(TMessage& Message) {
  Word event = Word(Message.WParam & 0xFFFF);
  if ((event == WM_CREATE || event == WM_DESTROY) &&
      DoControlMsg(reinterpret_cast<HWND>(Message.LParam), Message))
    return;
  inherited::Dispatch(Message);
}

void TWinControl::WMCtlColor(TMessage& Message) { inherited::Dispatch(Message); }

void TWinControl::WMSysColorChange(TMessage& Message) {
  Perform(CM_SYSCOLORCHANGE, 0, 0);
  inherited::Dispatch(Message);
}

void TWinControl::CMSysColorChange(TMessage&) { NotifyControls(CM_SYSCOLORCHANGE); }
void TWinControl::CMSysFontChanged(TMessage&) { NotifyControls(CM_SYSFONTCHANGED); }

void TWinControl::WMWinIniChange(TMessage& Message) {
  inherited::Dispatch(Message);
  Perform(CM_WININICHANGE, Message.WParam, Message.LParam);
}

void TWinControl::WMFontChange(TMessage& Message) {
  inherited::Dispatch(Message);
  Perform(CM_FONTCHANGE, 0, 0);
}

void TWinControl::WMTimeChange(TMessage& Message) {
  inherited::Dispatch(Message);
  Perform(CM_TIMECHANGE, 0, 0);
}

void TWinControl::CMWinIniChange(TMessage& Message) { Broadcast(Message); }
void TWinControl::CMFontChange(TMessage& Message) { Broadcast(Message); }
void TWinControl::CMTimeChange(TMessage& Message) { Broadcast(Message); }
void TWinControl::CMChanged(TMessage& Message) { inherited::Dispatch(Message); }

void TWinControl::WMContextMenu(TMessage& Message) {
  if (Message.Result != 0) return;
  TWMContextMenu m(Message);
  TPoint pt = m.Pos();
  if (!(pt.X == -1 && pt.Y == -1)) {
    TControl* c = ControlAtPos(ScreenToClient(pt), false);
    if (c && !Is<TWinControl>(c)) {
      Message.Result = c->Perform(WM_CONTEXTMENU, Message.WParam, Message.LParam);
      if (Message.Result != 0) return;
    }
  }
  TControl::WMContextMenu(Message);
}

void TWinControl::CMMouseWheel(TMessage& Message) { TControl::CMMouseWheel(Message); }

void TWinControl::CMDrag(TMessage& Message) { TControl::CMDrag(Message); }

// Focus.

Boolean TWinControl::CanFocus() {
  TWinControl* form = GetParentFormControl(this);
  TControl* c = this;
  while (c && c != form) {
    if (!(c->Visible() && c->Enabled())) return false;
    c = c->Parent();
  }
  return true;
}

Boolean TWinControl::Focused() { return FHandle && GetFocus() == FHandle; }

void TWinControl::SetFocus() {
  TWinControl* root = FocusRoot(this);
  if (root)
    root->FocusControl(this);
  else
    ::win::SetFocus(Handle());
}

void TWinControl::FocusControl(TWinControl* Control) {
  if (Control) ::win::SetFocus(Control->Handle());
}

namespace {

// Counts the focus changes, so that a step can tell that the focus moved on
// while its message ran.
int gFocusCount = 0;

// Sends a focus step; false when the focus moved on meanwhile or the
// handler raised (the application's hook took the exception).
bool SendFocusMessage(TWinControl* Control, Cardinal Msg) {
  int focus = gFocusCount, errors = HandledExceptionCount;
  if (Control->HandleAllocated())
    SendMessageW(Control->WindowHandle(), Msg, 0, 0);
  else
    Control->Perform(Msg, 0, 0);
  return focus == gFocusCount && errors == HandledExceptionCount;
}

}  // namespace

Boolean TWinControl::SetFocusedControl(TWinControl* Control) {
  ++gFocusCount;
  if (!Control || (Control != this && !ContainsControl(Control))) return true;
  if (Control->FControlState.Contains(csFocusing)) return false;
  Control->FControlState.Include(csFocusing);
  // The control may be freed by its own CM_ENTER.
  TWeakRef<TWinControl> alive(Control);
  Finally focusing([&] {
    if (alive) Control->FControlState.Exclude(csFocusing);
  });
  if (!FFocusedControl) FFocusedControl = this;
  if (FFocusedControl == Control) return true;
  // The focus leaves the old control and its parents up to one that holds
  // the new control, then enters from there down to the new one.
  while (FFocusedControl && !FFocusedControl->ContainsControl(Control)) {
    TWinControl* leaving = FFocusedControl;
    FFocusedControl = leaving->FParent;
    if (!SendFocusMessage(leaving, CM_EXIT)) return false;
  }
  while (FFocusedControl && FFocusedControl != Control) {
    TWinControl* step = Control;
    while (step->FParent && step->FParent != FFocusedControl) step = step->FParent;
    FFocusedControl = step;
    if (!SendFocusMessage(step, CM_ENTER)) return false;
  }
  Perform(CM_FOCUSCHANGED, 0, LPARAM(Control));
  return true;
}

void TWinControl::WMSetFocus(TMessage& Message) { inherited::Dispatch(Message); }
void TWinControl::WMKillFocus(TMessage& Message) { inherited::Dispatch(Message); }

void TWinControl::CMFocusChanged(TMessage& Message) { Broadcast(Message); }

void TWinControl::CMEnter(TMessage&) { DoEnter(); }
void TWinControl::CMExit(TMessage&) { DoExit(); }

void TWinControl::DoEnter() {
  if (Assigned(FOnEnter)) FOnEnter(this);
}

void TWinControl::DoExit() {
  if (Assigned(FOnExit)) FOnExit(this);
}

void TWinControl::SetTabStop(Boolean Value) {
  if (FTabStop == Value) return;
  FTabStop = Value;
  if (FHandle) {
    LONG_PTR style = GetWindowLongW(FHandle, GWL_STYLE);
    SetWindowLongW(FHandle, GWL_STYLE, Value ? (style | WS_TABSTOP) : (style & ~LONG_PTR(WS_TABSTOP)));
  }
  Perform(CM_TABSTOPCHANGED, 0, 0);
}

TTabOrder TWinControl::TabOrder() {
  if (!FParent) return -1;
  auto& list = FParent->FTabList;
  auto it = std::find(list.begin(), list.end(), this);
  return it == list.end() ? TTabOrder(-1) : TTabOrder(it - list.begin());
}

void TWinControl::SetTabOrder(TTabOrder Value) {
  if (FControlState.Contains(csReadingState))
    FTabOrder = Value;
  else
    UpdateTabOrder(Value);
}

void TWinControl::UpdateTabOrder(TTabOrder Value) {
  if (!FParent) return;
  TTabOrder cur = TabOrder();
  if (cur < 0) return;
  auto& list = FParent->FTabList;
  Integer count = Integer(list.size());
  Integer v = std::clamp<Integer>(Value, 0, count - 1);
  if (v == cur) return;
  list.erase(list.begin() + cur);
  list.insert(list.begin() + v, this);
}

void TWinControl::FixupTabList() {
  std::vector<TWinControl*> order(FWinControls.size(), nullptr);
  for (TWinControl* w : FWinControls) {
    Integer j = w->FTabOrder;
    if (j >= 0 && size_t(j) < order.size()) order[size_t(j)] = w;
  }
  for (size_t i = 0; i < order.size(); ++i)
    if (order[i]) order[i]->UpdateTabOrder(TTabOrder(i));
}

void TWinControl::GetTabOrderList(std::vector<TWinControl*>& List) {
  for (TWinControl* w : FTabList) {
    List.push_back(w);
    w->GetTabOrderList(List);
  }
}

void TWinControl::GetTabOrderList(TList* List) {
  std::vector<TWinControl*> v;
  GetTabOrderList(v);
  for (TWinControl* w : v) List->Add(w);
}

TWinControl* TWinControl::FindNextControl(TWinControl* CurControl, Boolean GoForward, Boolean CheckTabStop,
                                          Boolean CheckParent) {
  std::vector<TWinControl*> list;
  GetTabOrderList(list);
  if (list.empty()) return nullptr;
  Integer count = Integer(list.size());
  auto found = std::find(list.begin(), list.end(), CurControl);
  Integer start = found == list.end() ? (GoForward ? count - 1 : 0) : Integer(found - list.begin());
  Integer i = start;
  do {
    if (GoForward) {
      if (++i == count) i = 0;
    } else {
      if (i == 0) i = count;
      --i;
    }
    TWinControl* c = list[size_t(i)];
    if (c->CanFocus() && (!CheckTabStop || c->TabStop()) && (!CheckParent || c->FParent == this)) return c;
  } while (i != start);
  return nullptr;
}

void TWinControl::SelectNext(TWinControl* CurControl, Boolean GoForward, Boolean CheckTabStop) {
  TWinControl* c = FindNextControl(CurControl, GoForward, CheckTabStop, !CheckTabStop);
  if (c) c->SetFocus();
}

void TWinControl::SelectFirst() {
  TWinControl* c = FindNextControl(nullptr, true, true, false);
  if (!c) c = FindNextControl(nullptr, true, false, false);
  if (c) c->SetFocus();
}

// Keys.

TWinControl* TWinControl::ParentFormOf() { return GetParentFormControl(this); }

Boolean TWinControl::DoKeyDown(TWMKey& Message) {
  TWinControl* form = ParentFormOf();
  if (form && form != this && form->FormKeyPreview() && form->DoKeyDown(Message)) return true;
  if (!FControlStyle.Contains(csNoStdEvents)) {
    Word key = Message.CharCode();
    KeyDown(key, KeyDataToShiftState(Message.KeyData()));
    Message.SetCharCode(key);
    if (key == 0) return true;
  }
  return false;
}

Boolean TWinControl::DoKeyUp(TWMKey& Message) {
  TWinControl* form = ParentFormOf();
  if (form && form != this && form->FormKeyPreview() && form->DoKeyUp(Message)) return true;
  if (!FControlStyle.Contains(csNoStdEvents)) {
    Word key = Message.CharCode();
    KeyUp(key, KeyDataToShiftState(Message.KeyData()));
    Message.SetCharCode(key);
    if (key == 0) return true;
  }
  return false;
}

Boolean TWinControl::DoKeyPress(TWMKey& Message) {
  TWinControl* form = ParentFormOf();
  if (form && form != this && form->FormKeyPreview() && form->DoKeyPress(Message)) return true;
  if (!FControlStyle.Contains(csNoStdEvents)) {
    Char c = Char(Message.CharCode());
    KeyPress(c);
    Message.SetCharCode(Word(c));
    if (c == 0) return true;
  }
  return false;
}

void TWinControl::KeyDown(Word& Key, TShiftState Shift) {
  if (Assigned(FOnKeyDown)) FOnKeyDown(this, Key, Shift);
}

void TWinControl::KeyUp(Word& Key, TShiftState Shift) {
  if (Assigned(FOnKeyUp)) FOnKeyUp(this, Key, Shift);
}

void TWinControl::KeyPress(Char& Key) {
  if (Assigned(FOnKeyPress)) FOnKeyPress(this, Key);
}

void TWinControl::WMKeyDown(TMessage& Message) {
  TWMKey m(Message);
  TWeakReference self(this);  // a key handler may free this control
  if (!DoKeyDown(m) && self) inherited::Dispatch(Message);
}

void TWinControl::WMSysKeyDown(TMessage& Message) {
  TWMKey m(Message);
  TWeakReference self(this);  // a key handler may free this control
  if (!DoKeyDown(m) && self) inherited::Dispatch(Message);
}

void TWinControl::WMKeyUp(TMessage& Message) {
  TWMKey m(Message);
  TWeakReference self(this);  // a key handler may free this control
  if (!DoKeyUp(m) && self) inherited::Dispatch(Message);
}

void TWinControl::WMSysKeyUp(TMessage& Message) {
  TWMKey m(Message);
  TWeakReference self(this);  // a key handler may free this control
  if (!DoKeyUp(m) && self) inherited::Dispatch(Message);
}

void TWinControl::WMChar(TMessage& Message) {
  TWMKey m(Message);
  TWeakReference self(this);  // a key handler may free this control
  if (!DoKeyPress(m) && self) inherited::Dispatch(Message);
}

void TWinControl::WMSysChar(TMessage& Message) { inherited::Dispatch(Message); }

Boolean TWinControl::IsMenuKey(TWMKey& Message) {
  if (!ComponentState().Contains(csDesigning)) {
    for (TControl* c = this; c; c = c->Parent())
      if (c->FPopupMenu && PopupMenuIsShortCutHook && PopupMenuIsShortCutHook(c->FPopupMenu, Message)) return true;
    TWinControl* form = ParentFormOf();
    if (form && form->IsShortCut(Message)) return true;
  }
  return false;
}

void TWinControl::CNKeyDown(TMessage& Message) {
  TWMKey m(Message);
  Message.Result = 1;
  if (IsMenuKey(m)) return;
  if (!ComponentState().Contains(csDesigning)) {
    if (Perform(CM_CHILDKEY, Message.WParam, LPARAM(this)) != 0) return;
    LRESULT mask = 0;
    switch (m.CharCode()) {
      case VK_TAB: mask = DLGC_WANTTAB; break;
      case VK_LEFT:
      case VK_RIGHT:
      case VK_UP:
      case VK_DOWN: mask = DLGC_WANTARROWS; break;
      case VK_RETURN:
      case VK_EXECUTE:
      case VK_ESCAPE:
      case VK_CANCEL: mask = DLGC_WANTALLKEYS; break;
    }
    if (mask != 0 && Perform(CM_WANTSPECIALKEY, Message.WParam, Message.LParam) == 0 &&
        (Perform(WM_GETDLGCODE, 0, 0) & mask) == 0) {
      TWinControl* root = FocusRoot(this);
      if (root && root->Perform(CM_DIALOGKEY, Message.WParam, Message.LParam) != 0) return;
    }
  }
  Message.Result = 0;
}

void TWinControl::CNKeyUp(TMessage& Message) {
  if (ComponentState().Contains(csDesigning)) return;
  switch (Word(Message.WParam & 0xFFFF)) {
    case VK_TAB:
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN:
    case VK_RETURN:
    case VK_EXECUTE:
    case VK_ESCAPE:
    case VK_CANCEL: Message.Result = Perform(CM_WANTSPECIALKEY, Message.WParam, Message.LParam); break;
  }
}

void TWinControl::CNChar(TMessage& Message) {
  if (ComponentState().Contains(csDesigning)) return;
  Message.Result = 1;
  if ((Perform(WM_GETDLGCODE, 0, 0) & DLGC_WANTCHARS) == 0) {
    TWinControl* root = FocusRoot(this);
    if (root && root->Perform(CM_DIALOGCHAR, Message.WParam, Message.LParam) != 0) return;
  }
  Message.Result = 0;
}

void TWinControl::CNSysKeyDown(TMessage& Message) {
  TWMKey m(Message);
  Message.Result = 1;
  if (IsMenuKey(m)) return;
  if (!ComponentState().Contains(csDesigning)) {
    if (Perform(CM_CHILDKEY, Message.WParam, LPARAM(this)) != 0) return;
    TWinControl* root = FocusRoot(this);
    if (root && root->Perform(CM_DIALOGKEY, Message.WParam, Message.LParam) != 0) return;
  }
  Message.Result = 0;
}

void TWinControl::CNSysChar(TMessage& Message) {
  if (ComponentState().Contains(csDesigning)) return;
  if (Word(Message.WParam & 0xFFFF) != VK_SPACE) {
    TWinControl* root = FocusRoot(this);
    if (root) Message.Result = root->Perform(CM_DIALOGCHAR, Message.WParam, Message.LParam);
  }
}

void TWinControl::CMChildKey(TMessage& Message) {
  if (FParent) Message.Result = static_cast<TControl*>(FParent)->Perform(CM_CHILDKEY, Message.WParam, Message.LParam);
}

void TWinControl::CMDialogKey(TMessage& Message) {
  // A top control without a form moves the focus with Tab itself, as a form does.
  if (!FParent && !IsFormControl() && Word(Message.WParam & 0xFFFF) == VK_TAB && GetKeyState(VK_MENU) >= 0 &&
      GetKeyState(VK_CONTROL) >= 0) {
    SelectNext(FFocusedControl, GetKeyState(VK_SHIFT) >= 0, true);
    Message.Result = 1;
    return;
  }
  Broadcast(Message);
}

void TWinControl::CMDialogChar(TMessage& Message) { Broadcast(Message); }

// Components.

void TWinControl::ReadState(TReader* Reader) {
  DisableAlign();
  {
    Finally enableAlign([&] { EnableAlign(); });
    inherited::ReadState(Reader);
  }
  FixupTabList();
  if (FParent) Perform(CM_PARENTCTL3DCHANGED, 0, 0);
  UpdateControlState();
}

void TWinControl::Loaded() {
  inherited::Loaded();
  Realign();
}

void TWinControl::Notification(TComponent* AComponent, TOperation Operation) {
  inherited::Notification(AComponent, Operation);
}

TControlActionLinkClass TWinControl::GetActionLinkClass() { return inherited::GetActionLinkClass(); }

void TWinControl::AssignTo(TPersistent* Dest) { inherited::AssignTo(Dest); }

// --- TGraphicControl --------------------------------------------------------------------------------

CL_IMPLEMENT_CLASS(TGraphicControl)

void TGraphicControl::Create(TComponent* AOwner) {
  inherited::Create(AOwner);
  auto* canvas = New<TControlCanvas>();
  canvas->SetControl(this);
  FCanvas = canvas;
}

void TGraphicControl::Destroy() {
  if (Parent() && Parent()->HandleAllocated()) static_cast<TControlCanvas*>(FCanvas)->FreeHandle();
  FreeAndNil(FCanvas);
  inherited::Destroy();
}

void TGraphicControl::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_PAINT: WMPaint(Message); break;
    case CM_FONTCHANGED: CMFontChanged(Message); break;
    default: inherited::Dispatch(Message);
  }
}

void TGraphicControl::WMPaint(TMessage& Message) {
  TWMPaint m(Message);
  if (!m.DC() || ComponentState().Contains(csDestroying)) return;
  TCanvasPaintScope scope(FCanvas, m.DC());
  Paint();
}

void TGraphicControl::CMFontChanged(TMessage& Message) { inherited::Dispatch(Message); }

// --- TCustomControl ---------------------------------------------------------------------------------

CL_IMPLEMENT_CLASS(TCustomControl)

void TCustomControl::Create(TComponent* AOwner) {
  inherited::Create(AOwner);
  auto* canvas = New<TControlCanvas>();
  canvas->SetControl(this);
  FCanvas = canvas;
}

void TCustomControl::Destroy() {
  FreeAndNil(FCanvas);
  inherited::Destroy();
}

void TCustomControl::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_PAINT: WMPaintCustom(Message); break;
    default: inherited::Dispatch(Message);
  }
}

void TCustomControl::PaintWindow(HDC DC) {
  TCanvasPaintScope scope(FCanvas, DC);
  static_cast<TControlCanvas*>(FCanvas)->UpdateTextFlags();
  Paint();
}
