#include "platform/vcl/Forms.h"

#include <algorithm>

#include "platform/classes/ClassRegistry.h"
#include "platform/classes/Filer.h"
#include "platform/classes/ModuleInit.h"
#include "platform/classes/Resources.h"
#include "platform/classes/Threads.h"
#include "platform/classes/TypInfoBuild.h"
#include "platform/rtl/CodePages.h"
#include "platform/rtl/Conversions.h"
#include "platform/rtl/FileUtils.h"
#include "platform/rtl/Finally.h"
#include "platform/rtl/Numbers.h"
#include "platform/rtl/Strings.h"
#include "platform/vcl/ActnList.h"
#include "platform/vcl/ControlsInternal.h"
#include "platform/vcl/Menus.h"
#include "platform/win/Backend.h"

TApplication* Application = nullptr;
TScreen* Screen = nullptr;

namespace {

using namespace win;

// The application window's timer of the hint (one at a time).
constexpr UINT_PTR HintTimerId = 1;
constexpr Integer HintTimerShow = 1, HintTimerHide = 2;

// How far below the cursor's hot spot a hint starts: the height of the
// arrow cursor's picture.
constexpr Integer CursorHeightMargin = 20;

TCustomForm* FormOf(TControl* Control) { return dynamic_cast<TCustomForm*>(Control); }

// The framework control under a screen point: the deepest windowed control
// of the window there, then its graphic child at the point.
TControl* ControlAtScreen(const TPoint& P) {
  HWND h = WindowFromPoint(P);
  TWinControl* w = nullptr;
  while (h && !(w = FindControl(h))) h = GetParent(h);
  if (!w) return nullptr;
  TControl* c = w->ControlAtPos(w->ScreenToClient(P), true);
  return c ? c : w;
}

// The control whose hint shows for Control: itself or the nearest parent
// with ShowHint.
TControl* HintControlOf(TControl* Control) {
  while (Control && !Control->ShowHint()) Control = Control->Parent();
  return Control;
}

// The hint of a control, or of its nearest parent that has one.
String HintTextOf(TControl* Control) {
  while (Control) {
    if (!Control->Hint().empty()) return Control->Hint();
    Control = Control->Parent();
  }
  return String();
}

// Runs InitiateAction on every action client among the controls of Root.
void UpdateActionsOf(TWinControl* Root) {
  for (Integer i = 0; i < Root->ControlCount(); ++i) {
    TControl* c = Root->Controls(i);
    if (c->ControlStyle().Contains(csActionClient) && c->Visible()) c->InitiateAction();
    if (auto* w = dynamic_cast<TWinControl*>(c)) UpdateActionsOf(w);
  }
}

struct TTaskWindows {
  HWND Skip{};
  std::vector<HWND>* List{};
};

BOOL DisableTaskWindow(HWND Wnd, LPARAM Data) {
  auto* t = reinterpret_cast<TTaskWindows*>(Data);
  if (Wnd != t->Skip && IsWindowVisible(Wnd) && IsWindowEnabled(Wnd) &&
      GetWindowThreadProcessId(Wnd, nullptr) == GetCurrentThreadId()) {
    t->List->push_back(Wnd);
    EnableWindow(Wnd, FALSE);
  }
  return TRUE;
}

}  // namespace

std::vector<HWND> DisableTaskWindows(HWND ActiveWindow) {
  std::vector<HWND> list;
  TTaskWindows t{ActiveWindow, &list};
  EnumWindows(&DisableTaskWindow, reinterpret_cast<LPARAM>(&t));
  return list;
}

void EnableTaskWindows(const std::vector<HWND>& WindowList) {
  for (HWND w : WindowList)
    if (IsWindow(w)) EnableWindow(w, TRUE);
}

TCustomForm* GetParentForm(TControl* Control, Boolean TopForm) {
  return FormOf(GetParentFormControl(Control, TopForm));
}

TCustomForm* ValidParentForm(TControl* Control, Boolean TopForm) {
  TCustomForm* f = GetParentForm(Control, TopForm);
  if (!f) throw EInvalidOperation(u"Control '" + (Control ? Control->Name() : String()) + u"' has no parent window");
  return f;
}

// --- TCustomForm -------------------------------------------------------------------

CL_IMPLEMENT_CLASS(TScrollingWinControl)
CL_IMPLEMENT_CLASS(TCustomForm)

void TCustomForm::Create(TComponent* AOwner) {
  CreateNew(AOwner);
  if (ClassType() != TForm::StaticClass() && ClassType() != TCustomForm::StaticClass()) {
    FFormState.Include(fsCreating);
    Finally created([this] { FFormState.Exclude(fsCreating); });
    if (!InitInheritedComponent(this, TForm::StaticClass()))
      throw EResNotFound(u"Resource " + ClassName() + u" not found");
  }
  if (FOldCreateOrder) DoCreate();
}

void TCustomForm::CreateNew(TComponent* AOwner, Integer) {
  TScrollingWinControl::Create(AOwner);
  TControl::SetVisible(false);
  SetParentColor(false);
  SetParentFont(false);
  SetCtl3D(true);
  SetControlStyle(TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks});
  SetBounds(0, 0, 320, 240);
  FBorderIcons = TBorderIcons{biSystemMenu, biMinimize, biMaximize};
  FBorderStyle = bsSizeable;
  FWindowState = wsNormal;
  FDefaultMonitor = dmActiveForm;
  FPosition = poDefaultPosOnly;
  FPopupMode = pmNone;
  FAlphaBlendValue = 255;
  FScaled = true;
  FPixelsPerInch = Screen ? Screen->PixelsPerInch() : 96;
  SetColor(clBtnFace);
  FCanvas = New<TControlCanvas>();
  FCanvas->SetControl(this);
  if (Screen) Screen->AddForm(this);
}

void TCustomForm::AfterConstruction() {
  TScrollingWinControl::AfterConstruction();
  if (!FOldCreateOrder) DoCreate();
  if (FFormState.Contains(fsVisible)) {
    FFormState.Exclude(fsVisible);
    SetVisible(true);
  }
}

void TCustomForm::BeforeDestruction() {
  if (WindowHandle() && Visible()) Hide();
  if (!FOldCreateOrder) DoDestroy();
  TScrollingWinControl::BeforeDestruction();
}

void TCustomForm::Destroy() {
  if (FOldCreateOrder) DoDestroy();
  if (Screen) Screen->RemoveForm(this);
  if (FPopupParent) FPopupParent->RemoveFreeNotification(this);
  FPopupParent = nullptr;
  TScrollingWinControl::Destroy();
  FreeAndNil(FCanvas);
}

void TCustomForm::DoCreate() {
  try {
    if (FOnCreate.Assigned()) FOnCreate(this);
  } catch (...) {
    if (!Application) throw;
    Application->HandleException(this);
  }
}

void TCustomForm::DoDestroy() {
  try {
    if (FOnDestroy.Assigned()) FOnDestroy(this);
  } catch (...) {
    if (!Application) throw;
    Application->HandleException(this);
  }
}

void TCustomForm::DoShow() {
  if (FOnShow.Assigned()) FOnShow(this);
}
void TCustomForm::DoHide() {
  if (FOnHide.Assigned()) FOnHide(this);
}
void TCustomForm::DoClose(TCloseAction& Action) {
  if (FOnClose.Assigned()) FOnClose(this, Action);
}
void TCustomForm::DoActivate() {
  if (FOnActivate.Assigned()) FOnActivate(this);
}
void TCustomForm::DoDeactivate() {
  if (FOnDeactivate.Assigned()) FOnDeactivate(this);
}

void TCustomForm::SetVisible(Boolean Value) {
  if (FFormState.Contains(fsCreating)) {
    if (Value)
      FFormState.Include(fsVisible);
    else
      FFormState.Exclude(fsVisible);
    return;
  }
  TControl::SetVisible(Value);
}

void TCustomForm::Show() {
  SetVisible(true);
  BringToFront();
}

void TCustomForm::Hide() { SetVisible(false); }

Integer TCustomForm::ShowModal() {
  if (Visible() || !Enabled() || FFormState.Contains(fsModal) || FFormState.Contains(fsCreating))
    throw EInvalidOperation(u"Cannot make a visible window modal");
  if (HWND cap = GetCapture()) SendMessageW(cap, WM_CANCELMODE, 0, 0);
  ReleaseCapture();
  if (Application) Application->CancelHint();
  FFormState.Include(fsModal);
  Finally modal([this] { FFormState.Exclude(fsModal); });
  HWND activeWindow = GetActiveWindow();
  TCursor saveCursor = Screen->Cursor();
  Screen->SetCursor(crDefault);
  Integer saveCount = Screen->CursorCount();
  std::vector<HWND> windows = DisableTaskWindows(nullptr);
  // Also when the loop ends by an exception: the cursor, the other windows
  // and the activation of the window that was active come back.
  Finally restore([&] {
    Screen->SetCursor(Screen->CursorCount() == saveCount ? saveCursor : crDefault);
    EnableTaskWindows(windows);
    if (activeWindow && IsWindow(activeWindow)) SetActiveWindow(activeWindow);
  });
  Show();
  Finally hide([this] { Hide(); });
  SendMessageW(Handle(), CM_ACTIVATE, 0, 0);
  FModalResult = 0;
  do {
    Application->HandleMessage();
    if (Application->Terminated())
      FModalResult = mrCancel;
    else if (FModalResult != 0)
      CloseModal();
  } while (FModalResult == 0);
  Integer result = FModalResult;
  SendMessageW(Handle(), CM_DEACTIVATE, 0, 0);
  if (GetActiveWindow() != Handle()) activeWindow = nullptr;
  return result;
}

void TCustomForm::CloseModal() {
  try {
    TCloseAction action = caNone;
    if (CloseQuery()) {
      action = caHide;
      DoClose(action);
    }
    if (action == caNone)
      FModalResult = 0;
    else if (action == caFree)
      Release();
  } catch (...) {
    FModalResult = 0;
    Application->HandleException(this);
  }
}

void TCustomForm::Close() {
  if (FFormState.Contains(fsModal)) {
    FModalResult = mrCancel;
    return;
  }
  if (!CloseQuery()) return;
  TCloseAction action = caHide;
  DoClose(action);
  if (action == caNone) return;
  if (Application && Application->MainForm() == this)
    Application->Terminate();
  else if (action == caHide)
    Hide();
  else if (action == caMinimize)
    SetWindowState(wsMinimized);
  else
    Release();
}

Boolean TCustomForm::CloseQuery() {
  Boolean canClose = true;
  if (FOnCloseQuery.Assigned()) FOnCloseQuery(this, canClose);
  return canClose;
}

void TCustomForm::Release() { PostMessageW(Handle(), CM_RELEASE, 0, 0); }

void TCustomForm::SetFocus() {
  if (!FActive) {
    if (!Visible() || !Enabled()) throw EInvalidOperation(u"Cannot focus a disabled or invisible window");
    if (HandleAllocated()) SetActiveWindow(Handle());
    SetWindowFocus();
  } else {
    TScrollingWinControl::SetFocus();
  }
}

void TCustomForm::SetWindowFocus() {
  if (!HandleAllocated()) return;
  HWND w = FActiveControl && FActiveControl->HandleAllocated() ? FActiveControl->WindowHandle() : WindowHandle();
  if (FActiveControl && FActiveControl->CanFocus()) w = FActiveControl->Handle();
  win::SetFocus(w);
}

void TCustomForm::FocusControl(TWinControl* Control) {
  Boolean wasActive = FActive;
  SetActiveControl(Control);
  if (!wasActive && Visible() && Enabled()) SetFocus();
}

void TCustomForm::SetActiveControl(TWinControl* Control) {
  if (FActiveControl == Control) return;
  if (Control && !ComponentState().Contains(csLoading)) {
    if (Control == this || GetParentForm(Control) != this || !Control->CanFocus())
      throw EInvalidOperation(u"Cannot focus a disabled or invisible window");
  }
  if (FActiveControl && FActiveControl->Owner() != this) FActiveControl->RemoveFreeNotification(this);
  FActiveControl = Control;
  if (Control) Control->FreeNotification(this);
  if (!ComponentState().Contains(csLoading) && FActive) SetWindowFocus();
  if (Screen && FActive) Screen->UpdateActive(this, FActiveControl);
}

Boolean TCustomForm::SetFocusedControl(TWinControl* Control) {
  if (!TScrollingWinControl::SetFocusedControl(Control)) return false;
  if (Control == this) Control = nullptr;
  if (Control && FActiveControl != Control) {
    if (FActiveControl && FActiveControl->Owner() != this) FActiveControl->RemoveFreeNotification(this);
    FActiveControl = Control;
    Control->FreeNotification(this);
  }
  FLastActiveControl = Control;
  if (Screen) {
    Screen->SetFocusedForm(this);
    Screen->UpdateActive(this, Control);
  }
  return true;
}

void TCustomForm::DefocusControl(TWinControl* Control, Boolean Removing) {
  TScrollingWinControl::DefocusControl(Control, Removing);
  if (Control->ContainsControl(FActiveControl)) SetActiveControl(nullptr);
}

Boolean TCustomForm::IsShortCut(TWMKey& Message) {
  // The form's action lists answer the shortcut of one of their actions.
  TShortCut sc = ShortCutFromMessage(Message);
  for (Integer i = 0; i < ComponentCount(); ++i)
    if (auto* list = dynamic_cast<TCustomActionList*>(Components(i)))
      if (list->IsShortCut(sc)) return true;
  return false;
}

void TCustomForm::SetBorderStyle(TFormBorderStyle Value) {
  if (FBorderStyle == Value) return;
  FBorderStyle = Value;
  if (HandleAllocated()) RecreateWnd();
}

void TCustomForm::SetBorderIcons(TBorderIcons Value) {
  if (FBorderIcons == Value) return;
  FBorderIcons = Value;
  if (HandleAllocated()) RecreateWnd();
}

void TCustomForm::SetFormStyle(TFormStyle Value) {
  if (FFormStyle == Value) return;
  const Boolean mdi =
      FFormStyle == fsMDIForm || FFormStyle == fsMDIChild || Value == fsMDIForm || Value == fsMDIChild;
  FFormStyle = Value;
  if (HandleAllocated() && mdi)
    RecreateWnd();
  else if (HandleAllocated())
    SetWindowPos(WindowHandle(), Value == fsStayOnTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TCustomForm::SetPosition(TPosition Value) { FPosition = Value; }

void TCustomForm::SetWindowState(TWindowState Value) {
  if (FWindowState == Value) return;
  FWindowState = Value;
  if (HandleAllocated() && Showing()) {
    static const int cmds[] = {SW_RESTORE, SW_MINIMIZE, SW_SHOWMAXIMIZED};
    ShowWindow(WindowHandle(), cmds[Value]);
  }
}

void TCustomForm::SetPopupMode(TPopupMode Value) {
  if (FPopupMode == Value) return;
  FPopupMode = Value;
  // A form being freed keeps its window as it is: it goes with the form.
  if (HandleAllocated() && !ComponentState().Contains(csLoading) && !ComponentState().Contains(csDestroying))
    RecreateWnd();
}

void TCustomForm::SetPopupParent(TCustomForm* Value) {
  if (Value == this) Value = nullptr;
  if (FPopupParent == Value) return;
  if (FPopupParent) FPopupParent->RemoveFreeNotification(this);
  FPopupParent = Value;
  if (Value) {
    Value->FreeNotification(this);
    FPopupMode = pmExplicit;
  }
  if (HandleAllocated() && !ComponentState().Contains(csLoading) && !ComponentState().Contains(csDestroying))
    RecreateWnd();
}

void TCustomForm::SetAlphaBlend(Boolean Value) {
  if (FAlphaBlend == Value) return;
  FAlphaBlend = Value;
  ApplyLayeredAttributes();
}

void TCustomForm::SetAlphaBlendValue(Byte Value) {
  if (FAlphaBlendValue == Value) return;
  FAlphaBlendValue = Value;
  ApplyLayeredAttributes();
}

void TCustomForm::SetTransparentColor(Boolean Value) {
  if (FTransparentColor == Value) return;
  FTransparentColor = Value;
  ApplyLayeredAttributes();
}

void TCustomForm::SetTransparentColorValue(TColor Value) {
  if (FTransparentColorValue == Value) return;
  FTransparentColorValue = Value;
  ApplyLayeredAttributes();
}

// Layered attributes of the window: constant alpha and/or a colour key.
void TCustomForm::ApplyLayeredAttributes() {
  if (!HandleAllocated() || ComponentState().Contains(csLoading)) return;
  HWND h = WindowHandle();
  LONG_PTR ex = GetWindowLongPtrW(h, GWL_EXSTYLE);
  if (FAlphaBlend || FTransparentColor) {
    if (!(ex & WS_EX_LAYERED)) SetWindowLongPtrW(h, GWL_EXSTYLE, ex | WS_EX_LAYERED);
    DWORD flags = (FAlphaBlend ? LWA_ALPHA : 0) | (FTransparentColor ? LWA_COLORKEY : 0);
    SetLayeredWindowAttributes(h, COLORREF(ColorToRGB(FTransparentColorValue)), FAlphaBlendValue, flags);
  } else if (ex & WS_EX_LAYERED) {
    SetWindowLongPtrW(h, GWL_EXSTYLE, ex & ~LONG_PTR(WS_EX_LAYERED));
    InvalidateRect(h, nullptr, TRUE);
  }
}

void TCustomForm::SetPixelsPerInch(Integer Value) {
  if (Value != FPixelsPerInch && (Value == 0 || Value >= 36)) FPixelsPerInch = Value;
}

TCanvas* TCustomForm::Canvas() { return FCanvas; }

TMonitor* TCustomForm::Monitor() {
  return HandleAllocated() ? Screen->MonitorFromWindow(WindowHandle()) : Screen->PrimaryMonitor();
}

void TCustomForm::SetClientWidthProp(Integer Value) {
  if (ComponentState().Contains(csReading)) {
    FClientWidth = Value;
    return;
  }
  SetClientWidth(Value);
}

void TCustomForm::SetClientHeightProp(Integer Value) {
  if (ComponentState().Contains(csReading)) {
    FClientHeight = Value;
    return;
  }
  SetClientHeight(Value);
}

// Without a window the client rectangle is the bounds less the frame that
// the window will have.
TRect TCustomForm::GetClientRect() {
  if (HandleAllocated()) return TScrollingWinControl::GetClientRect();
  TCreateParams p;
  CreateParams(p);
  RECT frame{0, 0, 0, 0};
  AdjustWindowRectEx(&frame, p.Style, FALSE, p.ExStyle);
  Integer w = std::max(0, Width() - (frame.right - frame.left));
  Integer h = std::max(0, Height() - (frame.bottom - frame.top));
  return TRect{0, 0, w, h};
}

void TCustomForm::CreateParams(TCreateParams& Params) {
  TScrollingWinControl::CreateParams(Params);
  if (Parent() || ParentWindow()) return;
  Params.Style &= ~DWORD(WS_CHILD | WS_GROUP | WS_TABSTOP | WS_CAPTION | WS_BORDER | WS_THICKFRAME | WS_DLGFRAME |
                         WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_POPUP);
  Params.ExStyle &= ~DWORD(WS_EX_CLIENTEDGE | WS_EX_CONTROLPARENT);
  Params.Style |= WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
  Params.WindowClass.style |= CS_DBLCLKS;
  switch (FBorderStyle) {
    case bsNone: Params.Style |= WS_POPUP; break;
    case bsSingle:
    case bsToolWindow: Params.Style |= WS_CAPTION | WS_BORDER; break;
    case bsSizeable:
    case bsSizeToolWin: Params.Style |= WS_CAPTION | WS_THICKFRAME; break;
    case bsDialog:
      Params.Style |= WS_POPUP | WS_CAPTION;
      Params.ExStyle |= WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE;
      break;
  }
  if (FBorderStyle == bsToolWindow || FBorderStyle == bsSizeToolWin) Params.ExStyle |= WS_EX_TOOLWINDOW;
  if (FBorderStyle != bsNone && FBorderIcons.Contains(biSystemMenu)) {
    Params.Style |= WS_SYSMENU;
    if (FBorderStyle == bsSingle || FBorderStyle == bsSizeable) {
      if (FBorderIcons.Contains(biMinimize)) Params.Style |= WS_MINIMIZEBOX;
      if (FBorderIcons.Contains(biMaximize)) Params.Style |= WS_MAXIMIZEBOX;
    }
  }
  if (FFormStyle == fsStayOnTop) Params.ExStyle |= WS_EX_TOPMOST;
  if (FAlphaBlend || FTransparentColor) Params.ExStyle |= WS_EX_LAYERED;
  // The owner window: none for the usual form (a top-level window of its
  // own), the active form (pmAuto) or the popup parent (pmExplicit).
  Params.WndParent = nullptr;
  TCustomForm* owner = nullptr;
  if (FPopupMode == pmExplicit)
    owner = FPopupParent ? FPopupParent : (Application ? Application->MainForm() : nullptr);
  else if (FPopupMode == pmAuto && Screen)
    owner = Screen->ActiveCustomForm();
  if (owner == this) owner = nullptr;
  if (owner) Params.WndParent = owner->Handle();
  if (FFormStyle == fsMDIChild && !ComponentState().Contains(csDesigning)) {
    TCustomForm* frame = Application ? Application->MainForm() : nullptr;
    if (!frame || frame == this || frame->FormStyle() != fsMDIForm)
      throw EInvalidOperation(u"Cannot create form. No MDI forms are currently active");
    frame->HandleNeeded();
    Params.Style &= ~DWORD(WS_POPUP);
    Params.Style |= WS_CHILD;
    Params.ExStyle |= WS_EX_MDICHILD;
    Params.WndParent = frame->ClientHandle();
  }
}

void TCustomForm::CreateWnd() {
  TScrollingWinControl::CreateWnd();
  ApplyLayeredAttributes();
  if (ComponentState().Contains(csDesigning)) return;
  if (FFormStyle == fsMDIForm && !FClientHandle) {
    const TRect r = ClientRect();
    FClientHandle = CreateWindowExW(WS_EX_CLIENTEDGE, u"MDICLIENT", nullptr,
                                    WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, r.Left, r.Top,
                                    r.Width(), r.Height(), WindowHandle(), nullptr, win::HInstance, nullptr);
    if (!FClientHandle) throw EOSError(u"Cannot create the MDI client window of " + Name());
    Realign();
  } else if (FFormStyle == fsMDIChild) {
    SendMessageW(GetParent(WindowHandle()), WM_MDIACTIVATE, WPARAM(WindowHandle()), 0);
  }
}

void TCustomForm::DestroyWnd() {
  // The client window (and the children's windows in it) go with the frame's.
  TScrollingWinControl::DestroyWnd();
  FClientHandle = nullptr;
}

void TCustomForm::AlignControls(TControl* AControl, TRect& Rect) {
  TScrollingWinControl::AlignControls(AControl, Rect);
  // The client window takes the room the aligned controls leave, below them.
  if (FClientHandle)
    SetWindowPos(FClientHandle, HWND_BOTTOM, Rect.Left, Rect.Top, Rect.Width(), Rect.Height(),
                 SWP_NOACTIVATE);
}

std::vector<TForm*> TCustomForm::MDIChildList() {
  std::vector<TForm*> list;
  if (!FClientHandle) return list;
  for (HWND w = GetWindow(FClientHandle, GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT))
    if (auto* form = dynamic_cast<TForm*>(FindControl(w)))
      if (form->FormStyle() == fsMDIChild) list.push_back(form);
  return list;
}

Integer TCustomForm::MDIChildCount() { return Integer(MDIChildList().size()); }

TForm* TCustomForm::MDIChildren(Integer I) {
  const std::vector<TForm*> list = MDIChildList();
  if (I < 0 || size_t(I) >= list.size()) throw EListError(u"List index out of bounds (" + IntToStr(I) + u")");
  return list[size_t(I)];
}

TForm* TCustomForm::ActiveMDIChild() {
  if (!FClientHandle) return nullptr;
  auto* form = dynamic_cast<TForm*>(
      FindControl(reinterpret_cast<HWND>(SendMessageW(FClientHandle, WM_MDIGETACTIVE, 0, 0))));
  return form && form->FormStyle() == fsMDIChild ? form : nullptr;
}

void TCustomForm::ReadState(TReader* Reader) {
  DisableAlign();
  Finally enableAlign([&] { EnableAlign(); });
  FClientWidth = 0;
  FClientHeight = 0;
  FTextHeight = 0;
  FPixelsPerInch = 0;
  // A form read as the root is not its own parent.
  if (Reader->Parent() == this) Reader->SetParent(nullptr);
  TScrollingWinControl::ReadState(Reader);
  if (FClientWidth > 0) SetClientWidth(FClientWidth);
  if (FClientHeight > 0) SetClientHeight(FClientHeight);
  // A form made at another pixel density is scaled to the screen's.
  Integer screenPpi = Screen ? Screen->PixelsPerInch() : 96;
  if (FScaled && FPixelsPerInch > 0 && FPixelsPerInch != screenPpi) {
    Integer m = screenPpi, d = FPixelsPerInch;
    ScaleControls(m, d);
    SetClientWidth(MulDiv(ClientWidth(), m, d));
    SetClientHeight(MulDiv(ClientHeight(), m, d));
    Font()->SetHeight(MulDiv(Font()->Height(), m, d));
  }
  FPixelsPerInch = screenPpi;
}

void TCustomForm::Loaded() {
  TScrollingWinControl::Loaded();
  ApplyLayeredAttributes();
}

void TCustomForm::MouseWheelHandler(TMessage& Message) {
  if (FActiveControl && FActiveControl != this)
    Message.Result = FActiveControl->Perform(CM_MOUSEWHEEL, Message.WParam, Message.LParam);
  else
    inherited::MouseWheelHandler(Message);
}

void TCustomForm::ChangeScale(Integer M, Integer D) {
  TScrollingWinControl::ChangeScale(M, D);
  if (D != 0 && FPixelsPerInch > 0) FPixelsPerInch = MulDiv(FPixelsPerInch, M, D);
}

void TCustomForm::Notification(TComponent* AComponent, TOperation Operation) {
  TScrollingWinControl::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == FActiveControl) FActiveControl = nullptr;
  // The screen forgets it too (it goes without the focus leaving it first,
  // e.g. freed from its own OnExit).
  if (Screen && AComponent == Screen->ActiveControl()) Screen->UpdateActive(Screen->ActiveCustomForm(), nullptr);
  if (AComponent == FLastActiveControl) FLastActiveControl = nullptr;
  if (AComponent == FPopupParent) FPopupParent = nullptr;
}

void TCustomForm::GetChildren(TGetChildProc Proc, TComponent* Root) {
  // First the form's own components without a parent (lists, menus,
  // dialogs), then its controls.
  for (Integer i = 0; i < ComponentCount(); ++i) {
    TComponent* c = Components(i);
    if (!c->HasParent()) Proc(c);
  }
  TScrollingWinControl::GetChildren(Proc, Root);
}

void TCustomForm::PaintWindow(HDC DC) {
  controls_detail::TCanvasPaintScope scope(FCanvas, DC);
  Paint();
}

void TCustomForm::Paint() {
  if (FOnPaint.Assigned()) FOnPaint(this);
}

// Placement when the form is shown: centred on the screen or on the main
// form as Position asks.
void TCustomForm::PlaceOnFirstShow() {
  if (FWindowState != wsNormal) return;
  TRect around;
  switch (FPosition) {
    case poScreenCenter:
    case poDesktopCenter: around = TRect{0, 0, Screen->Width(), Screen->Height()}; break;
    case poMainFormCenter:
    case poOwnerFormCenter: {
      TCustomForm* center = nullptr;
      if (FPosition == poOwnerFormCenter) center = dynamic_cast<TCustomForm*>(Owner());
      if (!center && Application) center = Application->MainForm();
      if (center && center != this && center->HandleAllocated()) {
        RECT r;
        GetWindowRect(center->WindowHandle(), &r);
        around = r;
      } else {
        around = TRect{0, 0, Screen->Width(), Screen->Height()};
      }
      break;
    }
    default: return;
  }
  Integer x = around.Left + (around.Width() - Width()) / 2;
  Integer y = around.Top + (around.Height() - Height()) / 2;
  SetBounds(x, y, Width(), Height());
}

void TCustomForm::SetActive(Boolean Value) {
  if (FActive == Value) return;
  FActive = Value;
  if (Value) {
    if (Screen) Screen->UpdateActive(this, FActiveControl);
    if (!FActiveControl && !ComponentState().Contains(csDesigning)) {
      TWinControl* first = FindNextControl(nullptr, true, true, false);
      if (first) SetActiveControl(first);
    }
    DoActivate();
    if (FActive) SetWindowFocus();
  } else {
    DoDeactivate();
  }
}

void TCustomForm::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_CLOSE: WMClose(Message); break;
    case WM_PAINT: WMPaint(Message); break;
    case WM_ACTIVATE: WMActivate(Message); break;
    case WM_ACTIVATEAPP: WMActivateApp(Message); break;
    case WM_SIZE: WMSize(Message); break;
    case CM_ACTIVATE: CMActivate(Message); break;
    case CM_DEACTIVATE: CMDeactivate(Message); break;
    case CM_RELEASE: CMRelease(Message); break;
    case CM_SHOWINGCHANGED: CMShowingChanged(Message); break;
    case CM_DIALOGKEY: CMDialogKey(Message); break;
    case CM_ACTIONEXECUTE: CMActionExecute(Message); break;
    case CM_ACTIONUPDATE: CMActionUpdate(Message); break;
    default: TScrollingWinControl::Dispatch(Message);
  }
}

void TCustomForm::WMClose(TMessage&) { Close(); }

// A form paints itself (Paint, OnPaint) also when it has no controls.
void TCustomForm::WMPaint(TMessage& Message) {
  if (HandleAllocated() && IsIconic(WindowHandle()))
    TScrollingWinControl::Dispatch(Message);
  else
    WMPaintCustom(Message);
}

void TCustomForm::WMActivate(TMessage& Message) {
  SetActive(LOWORD(Message.WParam) != WA_INACTIVE);
  Message.Result = 0;
}

void TCustomForm::WMActivateApp(TMessage& Message) {
  if (Application) Application->SetActive(Message.WParam != 0);
  TScrollingWinControl::Dispatch(Message);
}

void TCustomForm::WMSize(TMessage& Message) {
  switch (Message.WParam) {
    case SIZE_MINIMIZED: FWindowState = wsMinimized; break;
    case SIZE_MAXIMIZED: FWindowState = wsMaximized; break;
    case SIZE_RESTORED: FWindowState = wsNormal; break;
    default: break;
  }
  TScrollingWinControl::Dispatch(Message);
}

void TCustomForm::CMActivate(TMessage&) { SetActive(true); }

void TCustomForm::CMDeactivate(TMessage&) {
  if (GetActiveWindow() != WindowHandle()) SetActive(false);
}

void TCustomForm::CMRelease(TMessage&) { Free(this); }

void TCustomForm::CMShowingChanged(TMessage&) {
  if (FFormState.Contains(fsShowing)) return;
  FFormState.Include(fsShowing);
  Finally showing([&] { FFormState.Exclude(fsShowing); });
  if (Showing()) {
    DoShow();
    PlaceOnFirstShow();
    int cmd = FWindowState == wsMaximized ? SW_SHOWMAXIMIZED
              : FWindowState == wsMinimized ? SW_SHOWMINIMIZED
                                            : SW_SHOWNORMAL;
    ShowWindow(Handle(), cmd);
    if (FWindowState == wsNormal) SetActiveWindow(Handle());
  } else {
    if (Screen && Screen->FocusedForm() == this) Screen->SetFocusedForm(nullptr);
    ShowWindow(Handle(), SW_HIDE);
    SetActive(false);
    DoHide();
  }
}

void TCustomForm::CMDialogKey(TMessage& Message) {
  TWMKey key(Message);
  if (GetKeyState(VK_MENU) >= 0) {
    switch (key.CharCode()) {
      case VK_TAB:
        if (GetKeyState(VK_CONTROL) >= 0) {
          SelectNext(FActiveControl, GetKeyState(VK_SHIFT) >= 0, true);
          Message.Result = 1;
          return;
        }
        break;
      case VK_LEFT:
      case VK_RIGHT:
      case VK_UP:
      case VK_DOWN:
        if (FActiveControl && FActiveControl->Parent()) {
          FActiveControl->Parent()->SelectNext(FActiveControl,
                                                  key.CharCode() == VK_RIGHT || key.CharCode() == VK_DOWN, false);
          Message.Result = 1;
        }
        return;
      default: break;
    }
  }
  TScrollingWinControl::Dispatch(Message);
}

void TCustomForm::CMActionExecute(TMessage& Message) {
  auto* action = reinterpret_cast<TBasicAction*>(Message.LParam);
  if ((FActiveControl && FActiveControl->ExecuteAction(action)) || ExecuteAction(action)) Message.Result = 1;
}

void TCustomForm::CMActionUpdate(TMessage& Message) {
  auto* action = reinterpret_cast<TBasicAction*>(Message.LParam);
  if ((FActiveControl && FActiveControl->UpdateAction(action)) || UpdateAction(action)) Message.Result = 1;
}

CL_IMPLEMENT_CLASS_PUBLISHED(TForm, P) {
  P.Property(u"ActiveControl", &TCustomForm::ActiveControl, &TCustomForm::SetActiveControl);
  P.Property(u"Align", &TControl::Align, &TControl::SetAlign).Default(alNone);
  P.Property(u"AlphaBlend", &TCustomForm::AlphaBlend, &TCustomForm::SetAlphaBlend).Default(false);
  P.Property(u"AlphaBlendValue", &TCustomForm::AlphaBlendValue, &TCustomForm::SetAlphaBlendValue).Default(Byte(255));
  P.Property(u"Anchors", &TControl::Anchors, &TControl::SetAnchors).Default(TAnchors{akLeft, akTop});
  P.Property(u"AutoSize", &TControl::AutoSize, &TControl::SetAutoSize).Default(false);
  P.Property(u"BiDiMode", &TControl::BiDiMode, &TControl::SetBiDiMode).Default(bdLeftToRight);
  P.Property(u"BorderIcons", &TCustomForm::BorderIcons, &TCustomForm::SetBorderIcons)
      .Default(TBorderIcons{biSystemMenu, biMinimize, biMaximize});
  P.Property(u"BorderStyle", &TCustomForm::BorderStyle, &TCustomForm::SetBorderStyle).Default(bsSizeable);
  P.Property(u"BorderWidth", &TWinControl::BorderWidth, &TWinControl::SetBorderWidth).Default(0);
  P.Property(u"Caption", &TControl::Caption, &TControl::SetCaption);
  P.Property(u"ClientHeight", &TCustomForm::ClientHeightProp, &TCustomForm::SetClientHeightProp);
  P.Property(u"ClientWidth", &TCustomForm::ClientWidthProp, &TCustomForm::SetClientWidthProp);
  P.Property(u"Color", &TControl::Color, &TControl::SetColor).Type(TypeInfoTColor()).Default(clBtnFace);
  P.Property(u"TransparentColor", &TCustomForm::TransparentColor, &TCustomForm::SetTransparentColor)
      .Default(false);
  P.Property(u"TransparentColorValue", &TCustomForm::TransparentColorValue,
             &TCustomForm::SetTransparentColorValue)
      .Type(TypeInfoTColor())
      .Default(0);
  P.Property(u"Constraints", &TControl::Constraints, &TControl::SetConstraints);
  P.Property(u"Ctl3D", &TWinControl::Ctl3D, &TWinControl::SetCtl3D).Default(true);
  P.Property(u"DefaultMonitor", &TCustomForm::DefaultMonitor, &TCustomForm::SetDefaultMonitor)
      .Default(dmActiveForm);
  P.Property(u"DragKind", &TControl::DragKind, &TControl::SetDragKind).Default(dkDrag);
  P.Property(u"DragMode", &TControl::DragMode, &TControl::SetDragModeProp).Default(dmManual);
  P.Property(u"Enabled", &TControl::Enabled, &TControl::SetEnabledProp).Default(true);
  P.Property(u"ParentFont", &TControl::ParentFont, &TControl::SetParentFont).Default(false);
  P.Property(u"Font", &TControl::Font, &TControl::SetFont);
  P.Property(u"FormStyle", &TCustomForm::FormStyle, &TCustomForm::SetFormStyle).Default(fsNormal);
  P.Property(u"HelpFile", &TCustomForm::HelpFile, &TCustomForm::SetHelpFile);
  P.Property(u"KeyPreview", &TCustomForm::KeyPreview, &TCustomForm::SetKeyPreview).Default(false);
  P.Property(u"OldCreateOrder", &TCustomForm::OldCreateOrder, &TCustomForm::SetOldCreateOrder);
  P.Property(u"ParentBiDiMode", &TControl::ParentBiDiMode, &TControl::SetParentBiDiMode).Default(true);
  P.Property(u"PixelsPerInch", &TCustomForm::PixelsPerInch, &TCustomForm::SetPixelsPerInch);
  P.Property(u"PopupMenu", &TControl::PopupMenu, &TControl::SetPopupMenu);
  P.Property(u"PopupMode", &TCustomForm::PopupMode, &TCustomForm::SetPopupMode).Default(pmNone);
  P.Property(u"PopupParent", &TCustomForm::PopupParent, &TCustomForm::SetPopupParent);
  P.Property(u"Position", &TCustomForm::Position, &TCustomForm::SetPosition).Default(poDefaultPosOnly);
  P.Property(u"Scaled", &TCustomForm::Scaled, &TCustomForm::SetScaled).Default(true);
  P.Property(u"ShowHint", &TControl::ShowHint, &TControl::SetShowHint);
  P.Property(u"TextHeight", &TCustomForm::TextHeight, &TCustomForm::SetTextHeight);
  P.Property(u"Visible", &TControl::Visible, &TCustomForm::SetVisible).Default(false);
  P.Property(u"WindowState", &TCustomForm::WindowState, &TCustomForm::SetWindowState).Default(wsNormal);
  P.Property(u"OnActivate", &TCustomForm::OnActivate, &TCustomForm::SetOnActivate);
  P.Property(u"OnCanResize", &TControl::OnCanResize, &TControl::SetOnCanResize);
  P.Property(u"OnClick", &TControl::OnClick, &TControl::SetOnClick);
  P.Property(u"OnClose", &TCustomForm::OnClose, &TCustomForm::SetOnClose);
  P.Property(u"OnCloseQuery", &TCustomForm::OnCloseQuery, &TCustomForm::SetOnCloseQuery);
  P.Property(u"OnConstrainedResize", &TControl::OnConstrainedResize, &TControl::SetOnConstrainedResize);
  P.Property(u"OnContextPopup", &TControl::OnContextPopup, &TControl::SetOnContextPopup);
  P.Property(u"OnCreate", &TCustomForm::OnCreate, &TCustomForm::SetOnCreate);
  P.Property(u"OnDblClick", &TControl::OnDblClick, &TControl::SetOnDblClick);
  P.Property(u"OnDestroy", &TCustomForm::OnDestroy, &TCustomForm::SetOnDestroy);
  P.Property(u"OnDeactivate", &TCustomForm::OnDeactivate, &TCustomForm::SetOnDeactivate);
  P.Property(u"OnDragDrop", &TControl::OnDragDrop, &TControl::SetOnDragDrop);
  P.Property(u"OnDragOver", &TControl::OnDragOver, &TControl::SetOnDragOver);
  P.Property(u"OnHide", &TCustomForm::OnHide, &TCustomForm::SetOnHide);
  P.Property(u"OnKeyDown", &TWinControl::OnKeyDown, &TWinControl::SetOnKeyDown);
  P.Property(u"OnKeyPress", &TWinControl::OnKeyPress, &TWinControl::SetOnKeyPress);
  P.Property(u"OnKeyUp", &TWinControl::OnKeyUp, &TWinControl::SetOnKeyUp);
  P.Property(u"OnMouseDown", &TControl::OnMouseDown, &TControl::SetOnMouseDown);
  P.Property(u"OnMouseMove", &TControl::OnMouseMove, &TControl::SetOnMouseMove);
  P.Property(u"OnMouseUp", &TControl::OnMouseUp, &TControl::SetOnMouseUp);
  P.Property(u"OnMouseWheel", &TControl::OnMouseWheel, &TControl::SetOnMouseWheel);
  P.Property(u"OnMouseWheelDown", &TControl::OnMouseWheelDown, &TControl::SetOnMouseWheelDown);
  P.Property(u"OnMouseWheelUp", &TControl::OnMouseWheelUp, &TControl::SetOnMouseWheelUp);
  P.Property(u"OnPaint", &TCustomForm::OnPaint, &TCustomForm::SetOnPaint);
  P.Property(u"OnResize", &TControl::OnResize, &TControl::SetOnResize);
  P.Property(u"OnShow", &TCustomForm::OnShow, &TCustomForm::SetOnShow);
}

// --- TMonitor and TScreen ------------------------------------------------------------

CL_IMPLEMENT_CLASS(TMonitor)

TRect TMonitor::BoundsRect() const {
  MONITORINFO mi;
  mi.cbSize = sizeof mi;
  if (!GetMonitorInfoW(FHandle, &mi)) return TRect{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  return mi.rcMonitor;
}

TRect TMonitor::WorkareaRect() const {
  MONITORINFO mi;
  mi.cbSize = sizeof mi;
  if (!GetMonitorInfoW(FHandle, &mi)) return BoundsRect();
  return mi.rcWork;
}

Boolean TMonitor::Primary() const {
  MONITORINFO mi;
  mi.cbSize = sizeof mi;
  return GetMonitorInfoW(FHandle, &mi) && (mi.dwFlags & MONITORINFOF_PRIMARY) != 0;
}

CL_IMPLEMENT_CLASS(TScreen)

void TScreen::Create(TComponent* AOwner) {
  TComponent::Create(AOwner);
  HDC dc = GetDC(nullptr);
  FPixelsPerInch = GetDeviceCaps(dc, LOGPIXELSY);
  ReleaseDC(nullptr, dc);
  if (FPixelsPerInch <= 0) FPixelsPerInch = 96;
  FMenuFont = New<TFont>();
  FHintFont = New<TFont>();
  FIconFont = New<TFont>();
  FMessageFont = New<TFont>();
  ResetFonts();
  LoadStandardCursors();
  auto* m = New<TMonitor>();
  m->FHandle = win::MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
  m->FMonitorNum = 0;
  FMonitors.push_back(m);
}

void TScreen::Destroy() {
  for (TMonitor* m : FMonitors) Free(m);
  FMonitors.clear();
  FreeAndNil(FMenuFont);
  FreeAndNil(FHintFont);
  FreeAndNil(FIconFont);
  FreeAndNil(FMessageFont);
  // Registered cursors belong to the screen; the standard ones to the system.
  FCursorList.clear();
  TComponent::Destroy();
}

void TScreen::ResetFonts() {
  NONCLIENTMETRICSW ncm{};
  ncm.cbSize = sizeof ncm;
  if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0)) {
    FMenuFont->SetHandle(CreateFontIndirectW(&ncm.lfMenuFont));
    FHintFont->SetHandle(CreateFontIndirectW(&ncm.lfStatusFont));
    FMessageFont->SetHandle(CreateFontIndirectW(&ncm.lfMessageFont));
  }
  FHintFont->SetColor(clInfoText);
  FMenuFont->SetColor(clMenuText);
  LOGFONTW lf{};
  if (SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof lf, &lf, 0)) FIconFont->SetHandle(CreateFontIndirectW(&lf));
  FIconFont->SetColor(clWindowText);
}

void TScreen::SetHintFont(TFont* Value) { FHintFont->Assign(Value); }
void TScreen::SetMenuFont(TFont* Value) { FMenuFont->Assign(Value); }
void TScreen::SetIconFont(TFont* Value) { FIconFont->Assign(Value); }

Integer TScreen::Width() const { return GetSystemMetrics(SM_CXSCREEN); }
Integer TScreen::Height() const { return GetSystemMetrics(SM_CYSCREEN); }

TRect TScreen::DesktopRect() const {
  return TRect{GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
               GetSystemMetrics(SM_XVIRTUALSCREEN) + GetSystemMetrics(SM_CXVIRTUALSCREEN),
               GetSystemMetrics(SM_YVIRTUALSCREEN) + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
}

TRect TScreen::WorkAreaRect() const {
  RECT r{};
  if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &r, 0)) return TRect{0, 0, Width(), Height()};
  return r;
}

// The standard cursors: the system's cursors by the platform's ids. The
// drag cursors have no picture of their own here and show the arrow.
void TScreen::LoadStandardCursors() {
  struct TStd {
    TCursor Id;
    LPCWSTR Name;
  };
  const TStd table[] = {
      {crArrow, IDC_ARROW},     {crCross, IDC_CROSS},      {crIBeam, IDC_IBEAM},       {crSizeNESW, IDC_SIZENESW},
      {crSizeNS, IDC_SIZENS},   {crSizeNWSE, IDC_SIZENWSE}, {crSizeWE, IDC_SIZEWE},    {crUpArrow, IDC_UPARROW},
      {crHourGlass, IDC_WAIT},  {crDrag, IDC_ARROW},       {crNoDrop, IDC_NO},         {crHSplit, IDC_SIZEWE},
      {crVSplit, IDC_SIZENS},   {crMultiDrag, IDC_ARROW},  {crSQLWait, IDC_WAIT},      {crNo, IDC_NO},
      {crAppStart, IDC_APPSTARTING}, {crHelp, IDC_HELP},   {crHandPoint, IDC_HAND},    {crSizeAll, IDC_SIZEALL},
  };
  FDefaultCursor = LoadCursorW(nullptr, IDC_ARROW);
  for (const TStd& s : table) FCursorList.emplace_back(s.Id, LoadCursorW(nullptr, s.Name));
}

HCURSOR TScreen::Cursors(Integer Index) const {
  if (Index == crDefault) return FDefaultCursor;
  if (Index == crNone) return nullptr;
  for (const auto& e : FCursorList)
    if (e.first == Index) return e.second;
  return FDefaultCursor;
}

void TScreen::SetCursors(Integer Index, HCURSOR Handle) {
  if (Index == crDefault) {
    FDefaultCursor = Handle ? Handle : LoadCursorW(nullptr, IDC_ARROW);
    return;
  }
  if (Index == crNone) return;
  auto it = std::find_if(FCursorList.begin(), FCursorList.end(), [&](const auto& e) { return e.first == Index; });
  if (!Handle) {
    if (it != FCursorList.end()) FCursorList.erase(it);
    return;
  }
  if (it != FCursorList.end())
    it->second = Handle;
  else
    FCursorList.emplace_back(Index, Handle);
}

void TScreen::SetCursor(TCursor Value) {
  if (Value == FCursor) return;
  FCursor = Value;
  ++FCursorCount;
  ApplyCursor();
}

// Shows the screen cursor now; crDefault lets the window under the mouse
// choose its own again.
void TScreen::ApplyCursor() {
  if (FCursor != crDefault) {
    win::SetCursor(Cursors(FCursor));
    return;
  }
  POINT p;
  if (!GetCursorPos(&p)) return;
  HWND w = WindowFromPoint(p);
  if (!w) {
    win::SetCursor(FDefaultCursor);
    return;
  }
  LRESULT hit = SendMessageW(w, WM_NCHITTEST, 0, MAKELPARAM(WORD(p.x), WORD(p.y)));
  SendMessageW(w, WM_SETCURSOR, reinterpret_cast<WPARAM>(w), MAKELPARAM(WORD(hit), WORD(WM_MOUSEMOVE)));
}

TCustomForm* TScreen::CustomForms(Integer Index) const {
  if (Index < 0 || Index >= CustomFormCount()) throw EListError(u"List index out of bounds (" + IntToStr(Index) + u")");
  return FCustomForms[size_t(Index)];
}

TForm* TScreen::Forms(Integer Index) const {
  if (Index < 0 || Index >= FormCount()) throw EListError(u"List index out of bounds (" + IntToStr(Index) + u")");
  return FForms[size_t(Index)];
}

TMonitor* TScreen::Monitors(Integer Index) const {
  if (Index < 0 || Index >= MonitorCount()) throw EListError(u"List index out of bounds (" + IntToStr(Index) + u")");
  return FMonitors[size_t(Index)];
}

TMonitor* TScreen::PrimaryMonitor() const {
  for (TMonitor* m : FMonitors)
    if (m->Primary()) return m;
  return FMonitors.empty() ? nullptr : FMonitors.front();
}

TMonitor* TScreen::MonitorFromPoint(const TPoint& Point) const {
  HMONITOR h = win::MonitorFromPoint(Point, MONITOR_DEFAULTTONEAREST);
  for (TMonitor* m : FMonitors)
    if (m->Handle() == h) return m;
  return PrimaryMonitor();
}

TMonitor* TScreen::MonitorFromRect(const TRect& Rect) const {
  RECT r = Rect;
  HMONITOR h = win::MonitorFromRect(&r, MONITOR_DEFAULTTONEAREST);
  for (TMonitor* m : FMonitors)
    if (m->Handle() == h) return m;
  return PrimaryMonitor();
}

TMonitor* TScreen::MonitorFromWindow(HWND Handle) const {
  HMONITOR h = win::MonitorFromWindow(Handle, MONITOR_DEFAULTTONEAREST);
  for (TMonitor* m : FMonitors)
    if (m->Handle() == h) return m;
  return PrimaryMonitor();
}

void TScreen::AddForm(TCustomForm* AForm) {
  FCustomForms.push_back(AForm);
  if (auto* f = dynamic_cast<TForm*>(AForm)) FForms.push_back(f);
  AForm->FreeNotification(this);
}

void TScreen::RemoveForm(TCustomForm* AForm) {
  FCustomForms.erase(std::remove(FCustomForms.begin(), FCustomForms.end(), AForm), FCustomForms.end());
  FForms.erase(std::remove(FForms.begin(), FForms.end(), AForm), FForms.end());
  if (FFocusedForm == AForm) FFocusedForm = nullptr;
  if (FActiveCustomForm == AForm) {
    FActiveCustomForm = nullptr;
    FActiveForm = nullptr;
    FActiveControl = nullptr;
    if (FOnActiveFormChange.Assigned()) FOnActiveFormChange(this);
  }
}

void TScreen::SetFocusedForm(TCustomForm* AForm) { FFocusedForm = AForm; }

// A control freed while it is the active one (from its own OnExit while the
// focus moves on, say) is forgotten, whoever owns it: the focus change that
// follows must not read it.
void TScreen::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent && AComponent == FActiveControl) UpdateActive(FActiveCustomForm, nullptr);
}

void TScreen::UpdateActive(TCustomForm* AForm, TWinControl* AControl) {
  if (AForm != FActiveCustomForm) {
    FActiveCustomForm = AForm;
    FActiveForm = dynamic_cast<TForm*>(AForm);
    if (FOnActiveFormChange.Assigned()) FOnActiveFormChange(this);
  }
  if (AControl != FActiveControl) {
    if (FActiveControl && FActiveControl->Owner() != nullptr) FActiveControl->RemoveFreeNotification(this);
    FActiveControl = AControl;
    if (AControl) AControl->FreeNotification(this);
    if (FOnActiveControlChange.Assigned()) FOnActiveControlChange(this);
  }
}

// --- THintWindow -----------------------------------------------------------------------

CL_IMPLEMENT_CLASS(THintWindow)

void THintWindow::Create(TComponent* AOwner) {
  TCustomControl::Create(AOwner);
  TControl::SetVisible(false);
  SetColor(clInfoBk);
  if (Screen) Font()->Assign(Screen->HintFont());
  SetControlStyle(ControlStyle() + csOpaque);
}

void THintWindow::CreateParams(TCreateParams& Params) {
  TCustomControl::CreateParams(Params);
  Params.Style = WS_POPUP | WS_BORDER;
  Params.ExStyle = (Params.ExStyle & ~DWORD(WS_EX_CLIENTEDGE)) | WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE;
  Params.WindowClass.style |= CS_SAVEBITS;
  Params.WndParent = Application ? Application->Handle() : nullptr;
}

void THintWindow::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_NCHITTEST: WMNCHitTest(Message); break;
    default: TCustomControl::Dispatch(Message);
  }
}

void THintWindow::WMNCHitTest(TMessage& Message) { Message.Result = HTTRANSPARENT; }

void THintWindow::Paint() {
  TRect r = ClientRect();
  TCanvas* c = Canvas();
  c->Brush()->SetColor(Color());
  c->Brush()->SetStyle(bsSolid);
  c->FillRect(r);
  c->Font()->Assign(Font());
  c->Brush()->SetStyle(bsClear);
  r.Left += 2;
  r.Top += 1;
  String text = Caption();
  DrawTextW(c->Handle(), text.c_str(), Integer(text.size()), &r,
            DT_LEFT | DT_NOPREFIX | DT_WORDBREAK | UINT(DrawTextBiDiModeFlagsReadingOnly()));
}

TRect THintWindow::CalcHintRect(Integer MaxWidth, const String& AHint, Pointer) {
  TRect r{0, 0, MaxWidth, 0};
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, Font()->Handle());
  DrawTextW(dc, AHint.c_str(), Integer(AHint.size()), &r,
            DT_CALCRECT | DT_LEFT | DT_WORDBREAK | DT_NOPREFIX | UINT(DrawTextBiDiModeFlagsReadingOnly()));
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  r.Right += 6;
  r.Bottom += 4;
  return r;
}

void THintWindow::ActivateHint(TRect Rect, const String& AHint) {
  SetCaption(AHint);
  Integer w = Rect.Width(), h = Rect.Height();
  TRect wa = Screen ? Screen->MonitorFromPoint(TPoint{Rect.Left, Rect.Top})->WorkareaRect()
                    : TRect{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  Integer x = std::max(std::min(Rect.Left, wa.Right - w), wa.Left);
  Integer y = std::max(std::min(Rect.Top, wa.Bottom - h), wa.Top);
  SetBounds(x, y, w, h);
  SetWindowPos(Handle(), HWND_TOPMOST, x, y, w, h, SWP_SHOWWINDOW | SWP_NOACTIVATE);
  Invalidate();
}

void THintWindow::ActivateHintData(TRect Rect, const String& AHint, Pointer) { ActivateHint(Rect, AHint); }

Boolean THintWindow::IsHintMsg(const MSG& Msg) {
  UINT m = Msg.message;
  return (m >= WM_KEYFIRST && m <= WM_KEYLAST) || m == CM_ACTIVATE || m == CM_DEACTIVATE || m == CM_APPKEYDOWN ||
         m == CM_APPSYSCOMMAND || m == WM_COMMAND || (m > WM_MOUSEMOVE && m <= WM_MOUSELAST) ||
         m == WM_NCMOUSEMOVE;
}

void THintWindow::ReleaseHandle() {
  if (HandleAllocated()) {
    ShowWindow(WindowHandle(), SW_HIDE);
    DestroyHandle();
  }
}

// --- TApplication ----------------------------------------------------------------------

CL_IMPLEMENT_CLASS(TApplication)

namespace {

void HandleExceptionHook(TObject* Sender) {
  if (Application)
    Application->HandleException(Sender);
}

HCURSOR ScreenCursorHandle(TCursor Cursor) {
  return Screen ? Screen->Cursors(Cursor) : LoadCursorW(nullptr, IDC_ARROW);
}

TCursor ScreenCursorNow() { return Screen ? Screen->Cursor() : crDefault; }

void HintMouseMessageHook(TControl*, TMessage& Message) {
  if (Application && Message.Msg == WM_MOUSEMOVE) Application->HintMouseMove();
}

Boolean ApplicationHandlesAction(TBasicAction* Action, Boolean Execute) {
  if (!Application) return false;
  return Execute ? Application->ExecuteAction(Action) : Application->UpdateAction(Action);
}

Boolean SendActionToApplication(TBasicAction* Action, Boolean Execute) {
  if (!Application || !Application->Handle()) return false;
  return SendMessageW(Application->Handle(), Execute ? CM_ACTIONEXECUTE : CM_ACTIONUPDATE, 0,
                      reinterpret_cast<LPARAM>(Action)) == 1;
}

}  // namespace

void TApplication::Create(TComponent* AOwner) {
  TComponent::Create(AOwner);
  String exe = ParamStr(0);
  FTitle = ChangeFileExt(ExtractFileName(exe), String());
  FHintColor = clInfoBk;
  FHintPause = 500;
  FHintShortPause = 50;
  FHintHidePause = 2500;
  FHintShortCuts = true;
  FShowHint = true;
  FShowMainForm = true;
  FUpdateFormatSettings = true;
  FBiDiMode = bdLeftToRight;
  FHintWindowClass = ClassOf<THintWindow>();
  FHandle = AllocateHWnd(TWndMethod(this, &TApplication::WndProc));
  ApplicationHandleException = &HandleExceptionHook;
  ScreenCursorHandleHook = &ScreenCursorHandle;
  ScreenCursorHook = &ScreenCursorNow;
  ApplicationHintMouseMessage = &HintMouseMessageHook;
  TActionApplicationHooks hooks;
  hooks.ApplicationHandles = &ApplicationHandlesAction;
  hooks.SendAppMessage = &SendActionToApplication;
  SetActionApplicationHooks(hooks);
}

void TApplication::Destroy() {
  if (ApplicationHandleException == &HandleExceptionHook) ApplicationHandleException = nullptr;
  if (ScreenCursorHandleHook == &ScreenCursorHandle) ScreenCursorHandleHook = nullptr;
  if (ScreenCursorHook == &ScreenCursorNow) ScreenCursorHook = nullptr;
  if (ApplicationHintMouseMessage == &HintMouseMessageHook) ApplicationHintMouseMessage = nullptr;
  SetActionApplicationHooks(TActionApplicationHooks());
  StopHintTimer();
  SetHintControl(nullptr);
  SetMouseControl(nullptr);
  FreeAndNil(FHintWindow);
  TComponent::Destroy();
  if (FHandle) {
    DeallocateHWnd(FHandle);
    FHandle = nullptr;
  }
}

void TApplication::Initialize() {
  if (InitProc) InitProc();
}

void TApplication::DoCreateForm(TClass InstanceClass, void* Reference, TReferenceSetter Set) {
  if (!InstanceClass || !InstanceClass->InheritsFrom(TComponent::StaticClass())) RaiseInvalidCast();
  auto* instance = static_cast<TComponent*>(InstanceClass->NewInstance());
  Set(Reference, instance);
  try {
    classes_detail::Construct(instance, &TComponent::Create, this);
  } catch (...) {
    Set(Reference, nullptr);
    throw;
  }
  if (!FMainForm)
    if (auto* form = dynamic_cast<TForm*>(instance)) {
      form->HandleNeeded();
      FMainForm = form;
    }
}

void TApplication::Run() {
  FRunning = true;
  Finally reset([&] { FRunning = false; });
  if (FMainForm) {
    if (FShowMainForm && !FTerminate) FMainForm->SetVisible(true);
    do {
      try {
        HandleMessage();
      } catch (...) {
        HandleException(this);
      }
    } while (!FTerminate);
  }
}

void TApplication::HandleMessage() {
  MSG msg;
  if (!ProcessMessage(msg)) Idle(msg);
}

void TApplication::ProcessMessages() {
  MSG msg;
  while (ProcessMessage(msg)) {
  }
  // The synchronized calls of worker threads are served even when no
  // message woke the queue.
  if (IsMainThread()) CheckSynchronize();
}

Boolean TApplication::ProcessMessage(MSG& Msg) {
  if (!PeekMessageW(&Msg, nullptr, 0, 0, PM_REMOVE)) return false;
  if (Msg.message == WM_QUIT) {
    FTerminate = true;
    return true;
  }
  if (FShowHint && FHintWindow && FHintWindow->HandleAllocated() && IsWindowVisible(FHintWindow->WindowHandle()) &&
      FHintWindow->IsHintMsg(Msg))
    CancelHint();
  if (!IsKeyMsg(Msg)) {
    TranslateMessage(&Msg);
    DispatchMessageW(&Msg);
  }
  return true;
}

// A key message goes first to the framework control that holds the focus
// window as CN_KEYDOWN, CN_CHAR, ... (shortcuts, key preview and dialog
// keys happen there); it is dispatched only when that control lets it pass.
Boolean TApplication::IsKeyMsg(MSG& Msg) { return ::IsKeyMsg(Msg); }

void TApplication::Idle(const MSG&) {
  DoMouseIdle();
  if (FShowHint && !FMouseControl) CancelHint();
  SetHint(GetLongHint(HintTextOf(FMouseControl)));
  Boolean done = true;
  try {
    if (FOnIdle.Assigned()) FOnIdle(this, done);
    if (done && Screen)
      for (Integer i = 0; i < Screen->CustomFormCount(); ++i) {
        TCustomForm* f = Screen->CustomForms(i);
        if (f->Visible()) UpdateActionsOf(f);
      }
  } catch (...) {
    HandleException(this);
  }
  if (IsMainThread() && CheckSynchronize()) done = false;
  if (done) WaitMessage();
}

void TApplication::DoMouseIdle() {
  POINT p;
  TControl* c = nullptr;
  if (GetCursorPos(&p)) {
    c = GetCaptureControl();
    if (!c) c = ControlAtScreen(p);
  }
  SetMouseControl(c);
}

void TApplication::SetMouseControl(TControl* Control) {
  if (FMouseControl == Control) return;
  if (FMouseControl && FMouseControl != FHintControl) FMouseControl->RemoveFreeNotification(this);
  FMouseControl = Control;
  if (Control) Control->FreeNotification(this);
}

void TApplication::SetHintControl(TControl* Control) {
  if (FHintControl == Control) return;
  if (FHintControl && FHintControl != FMouseControl) FHintControl->RemoveFreeNotification(this);
  FHintControl = Control;
  if (Control) Control->FreeNotification(this);
}

void TApplication::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == FMainForm) FMainForm = nullptr;
  if (AComponent == FHintWindow) FHintWindow = nullptr;
  if (AComponent == FHintControl) {
    FHintControl = nullptr;
    StopHintTimer();
    HideHint();
  }
  if (AComponent == FMouseControl) FMouseControl = nullptr;
}

void TApplication::Terminate() { PostQuitMessage(0); }

void TApplication::HandleException(TObject* Sender) {
  std::exception_ptr ep = std::current_exception();
  if (!ep) return;
  if (HWND cap = GetCapture()) SendMessageW(cap, WM_CANCELMODE, 0, 0);
  try {
    std::rethrow_exception(ep);
  } catch (const EAbort&) {
  } catch (const Exception& E) {
    if (FOnException.Assigned())
      FOnException(Sender, E);
    else
      ShowException(E);
  } catch (const std::exception& e) {
    Exception E(UTF8ToUTF16(e.what()));
    if (FOnException.Assigned())
      FOnException(Sender, E);
    else
      ShowException(E);
  } catch (...) {
    Exception E(u"Exception of unknown type");
    if (FOnException.Assigned())
      FOnException(Sender, E);
    else
      ShowException(E);
  }
}

void TApplication::ShowException(const Exception& E) {
  String msg = E.Message();
  if (!msg.empty() && msg.back() > u'.') msg += u'.';
  MessageBox(msg, FTitle, MB_OK | MB_ICONSTOP);
}

Integer TApplication::MessageBox(const String& Text, const String& Caption, Integer Flags) {
  HWND owner = GetActiveWindow();
  std::vector<HWND> windows = DisableTaskWindows(nullptr);
  Integer result = 0;
  {
    Finally enable([&] { EnableTaskWindows(windows); });
    result = MessageBoxW(owner, Text.c_str(), (Caption.empty() ? FTitle : Caption).c_str(), UINT(Flags));
  }
  if (owner && IsWindow(owner)) SetActiveWindow(owner);
  return result;
}

void TApplication::SetTitle(const String& Value) {
  FTitle = Value;
  if (FHandle) SetWindowTextW(FHandle, Value.c_str());
}

String TApplication::ExeName() const { return ParamStr(0); }

Boolean TApplication::HelpContext(THelpContext) { return false; }
Boolean TApplication::HelpCommand(Integer, NativeInt) { return false; }

void TApplication::SetActive(Boolean Value) {
  if (FActive == Value) return;
  FActive = Value;
  if (!Value) CancelHint();
  if (Value) {
    if (FOnActivate.Assigned()) FOnActivate(this);
  } else if (FOnDeactivate.Assigned()) {
    FOnDeactivate(this);
  }
}

void TApplication::SetHint(const String& Value) {
  if (FHint == Value) return;
  FHint = Value;
  if (FOnHint.Assigned()) FOnHint(this);
}

void TApplication::SetHintColor(TColor Value) {
  FHintColor = Value;
  if (FHintWindow) {
    FHintWindow->SetColor(Value);
    FHintWindow->Invalidate();
  }
}

void TApplication::SetShowHint(Boolean Value) {
  if (FShowHint == Value) return;
  FShowHint = Value;
  if (!Value) {
    CancelHint();
    FreeAndNil(FHintWindow);
  }
}

void TApplication::StartHintTimer(Integer Value, Integer Kind) {
  StopHintTimer();
  FHintTimerKind = Kind;
  if (FHandle) SetTimer(FHandle, HintTimerId, UINT(std::max(Value, 1)), nullptr);
}

void TApplication::StopHintTimer() {
  if (FHintTimerKind != 0 && FHandle) KillTimer(FHandle, HintTimerId);
  FHintTimerKind = 0;
}

// A mouse move: a new hint control (or leaving the cursor rectangle of the
// shown hint) starts the wait; a control without hint cancels.
void TApplication::HintMouseMove() {
  if (!FShowHint) return;
  POINT p;
  if (GetCursorPos(&p)) HintMouseMessage(p);
}

void TApplication::HintMouseMessage(const TPoint& CursorPos) {
  TControl* under = GetCaptureControl();
  if (!under) under = ControlAtScreen(CursorPos);
  TControl* hintControl = HintControlOf(under);
  if (!hintControl) {
    CancelHint();
    return;
  }
  if (hintControl == FHintControl && CursorPos.X >= FHintCursorRect.Left && CursorPos.X < FHintCursorRect.Right &&
      CursorPos.Y >= FHintCursorRect.Top && CursorPos.Y < FHintCursorRect.Bottom)
    return;
  Integer pause = FHintActive ? FHintShortPause : FHintPause;
  hintControl->Perform(CM_HINTSHOWPAUSE, FHintActive ? 1 : 0, reinterpret_cast<LPARAM>(&pause));
  if (FHintWindow && FHintWindow->HandleAllocated()) ShowWindow(FHintWindow->WindowHandle(), SW_HIDE);
  SetHintControl(hintControl);
  FHintCursorRect = TRect{};
  if (pause <= 0)
    ShowHintNow();
  else
    StartHintTimer(pause, HintTimerShow);
}

void TApplication::ShowHintNow() {
  StopHintTimer();
  if (!FHintControl || !FShowHint) return;
  POINT cur;
  GetCursorPos(&cur);
  TControl* under = GetCaptureControl();
  if (!under) under = ControlAtScreen(cur);
  if (HintControlOf(under) != FHintControl) {
    CancelHint();
    return;
  }
  THintInfo info;
  info.HintControl = FHintControl;
  info.HintWindowClass = FHintWindowClass;
  info.HintPos = TPoint{cur.x, cur.y + CursorHeightMargin};
  info.HintMaxWidth = Screen ? Screen->Width() : GetSystemMetrics(SM_CXSCREEN);
  info.HintColor = FHintColor;
  info.CursorRect = TRect{0, 0, FHintControl->Width(), FHintControl->Height()};
  info.CursorPos = FHintControl->ScreenToClient(cur);
  info.ReshowTimeout = 0;
  info.HideTimeout = FHintHidePause;
  info.HintStr = GetShortHint(FHintControl->Hint());
  TControl* control = FHintControl;
  Boolean canShow = control->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info)) == 0;
  if (!FHintControl) return;  // the control went away meanwhile
  // The hint of a control whose action has a shortcut names the shortcut.
  if (canShow && FHintShortCuts && !info.HintStr.empty())
    if (auto* action = dynamic_cast<TCustomAction*>(control->Action()); action && action->ShortCut() != 0)
      info.HintStr += u" (" + ShortCutToText(action->ShortCut()) + u")";
  if (canShow && FOnShowHint.Assigned()) FOnShowHint(info.HintStr, canShow, info);
  if (!FHintControl) return;  // the control went away meanwhile
  FHintActive = canShow && !info.HintStr.empty();
  if (!FHintActive) {
    HideHint();
    return;
  }
  THintWindowClass cls = info.HintWindowClass ? ClassAs<THintWindow>(info.HintWindowClass) : FHintWindowClass;
  if (!cls) cls = ClassOf<THintWindow>();
  if (FHintWindow && FHintWindow->ClassType() != cls.Class()) FreeAndNil(FHintWindow);
  if (!FHintWindow) {
    FHintWindow = static_cast<THintWindow*>(CreateFrom(cls, &TComponent::Create, static_cast<TComponent*>(this)));
    FHintWindow->FreeNotification(this);
  }
  FHintWindow->SetColor(info.HintColor);
  FHintWindow->SetBiDiMode(control->BiDiMode());
  TRect r = FHintWindow->CalcHintRect(info.HintMaxWidth, info.HintStr, info.HintData);
  r = TRect{r.Left + info.HintPos.X, r.Top + info.HintPos.Y, r.Right + info.HintPos.X, r.Bottom + info.HintPos.Y};
  TPoint tl = control->ClientToScreen(TPoint{info.CursorRect.Left, info.CursorRect.Top});
  TPoint br = control->ClientToScreen(TPoint{info.CursorRect.Right, info.CursorRect.Bottom});
  FHintCursorRect = TRect{tl.X, tl.Y, br.X, br.Y};
  FHintWindow->ActivateHintData(r, info.HintStr, info.HintData);
  if (info.HideTimeout > 0) StartHintTimer(info.HideTimeout, HintTimerHide);
}

void TApplication::ActivateHint(const TPoint& CursorPos) {
  TControl* c = HintControlOf(ControlAtScreen(CursorPos));
  SetHintControl(c);
  if (c) ShowHintNow();
}

void TApplication::HideHint() {
  FHintActive = false;
  if (FHintWindow && FHintWindow->HandleAllocated()) ShowWindow(FHintWindow->WindowHandle(), SW_HIDE);
}

void TApplication::CancelHint() {
  StopHintTimer();
  HideHint();
  SetHintControl(nullptr);
  FHintCursorRect = TRect{};
}

Boolean TApplication::ExecuteAction(TBasicAction*) { return false; }
Boolean TApplication::UpdateAction(TBasicAction*) { return false; }

Boolean TApplication::IsShortCut(TWMKey& Message) { return FMainForm && FMainForm->IsShortCut(Message); }

void TApplication::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case WM_TIMER:
      if (Message.WParam == HintTimerId) {
        Integer kind = FHintTimerKind;
        StopHintTimer();
        if (kind == HintTimerShow)
          ShowHintNow();
        else if (kind == HintTimerHide)
          HideHint();
        return;
      }
      break;
    case CM_ACTIONEXECUTE:
    case CM_ACTIONUPDATE: {
      TCustomForm* f = Screen ? Screen->ActiveCustomForm() : nullptr;
      if (!f) f = FMainForm;
      Message.Result = f ? f->Perform(Message.Msg, Message.WParam, Message.LParam) : 0;
      return;
    }
    case WM_ACTIVATEAPP: SetActive(Message.WParam != 0); break;
    default: break;
  }
  Message.Result = DefWindowProcW(FHandle, Message.Msg, Message.WParam, Message.LParam);
}

// --- Start-up and shut-down -----------------------------------------------------------------

namespace {

void Startup() {
  RegisterClasses({TForm::StaticClass()});
  Screen = New<TScreen>(nullptr);
  Application = New<TApplication>(nullptr);
}

void Shutdown() {
  if (Application) {
    Application->SetShowHint(false);
    Application->DestroyComponents();
  }
  FreeAndNil(Application);
  FreeAndNil(Screen);
}

}  // namespace

CL_UNIT_STEPS(Forms, &Startup, &Shutdown);
