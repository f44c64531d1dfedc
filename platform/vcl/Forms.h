// Forms, the application object, the screen and hint windows.
//
// TCustomForm is a top-level windowed control: made empty by CreateNew or
// from its form resource by Create (the resources of its class chain, read by
// class name), shown modelessly by Show or modally by ShowModal (its own
// loop, every other top-level window of the program disabled meanwhile),
// closed by Close through CloseQuery and OnClose with a TCloseAction.
//
// Application (TApplication) runs the message loop: Run until Terminate or
// until the main form (the first form made by CreateForm) closes;
// HandleMessage handles one message or waits; ProcessMessages handles every
// waiting message, the synchronized calls of worker threads included. It is
// the handler of exceptions that escape window procedures and event handlers
// (EAbort is silent, others are shown in a message box), and it drives hints:
// the control under the mouse shows its short hint after HintPause, in a
// window of HintWindowClass, for HintHidePause.
//
// Screen (TScreen) knows the forms, the active form and control, the cursor
// table and the current cursor, the system fonts and the one monitor.
//
// Both objects are made by this unit's start-up step and freed by its
// shut-down step.
#pragma once

#include <vector>

#include "platform/vcl/Controls.h"

class TCustomForm;
class TForm;
class TApplication;
class TScreen;
class THintWindow;
class TMonitor;
class TBasicAction;

// --- Form enumerations ----------------------------------------------------------

CL_ENUM(TFormBorderStyle, Byte, bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin)
CL_ENUM(TBorderIcon, Byte, biSystemMenu, biMinimize, biMaximize, biHelp)
using TBorderIcons = TSet<TBorderIcon, 1>;
CL_SET_TYPEINFO(TBorderIcons)
CL_ENUM(TFormStyle, Byte, fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop)
CL_ENUM(TPosition, Byte, poDesigned, poDefault, poDefaultPosOnly, poDefaultSizeOnly, poScreenCenter,
        poDesktopCenter, poMainFormCenter, poOwnerFormCenter)
CL_ENUM(TWindowState, Byte, wsNormal, wsMinimized, wsMaximized)
CL_ENUM(TPopupMode, Byte, pmNone, pmAuto, pmExplicit)
CL_ENUM(TDefaultMonitor, Byte, dmDesktop, dmPrimary, dmMainForm, dmActiveForm)
CL_ENUM(TCloseAction, Byte, caNone, caHide, caFree, caMinimize)
CL_ENUM(TFormState, Byte, fsCreating, fsVisible, fsShowing, fsModal, fsCreatedMDIChild, fsActivated)
using TFormStates = TSet<TFormState, 1>;

using TCloseEvent = TDelegate<void(TObject* Sender, TCloseAction& Action)>;
using TCloseQueryEvent = TDelegate<void(TObject* Sender, Boolean& CanClose)>;
CL_EVENT_TYPEINFO(TCloseEvent)
CL_EVENT_TYPEINFO(TCloseQueryEvent)

// The modal results (the button identifiers of message boxes).
using TModalResult = Integer;
constexpr TModalResult mrNone = 0, mrOk = 1, mrCancel = 2, mrAbort = 3, mrRetry = 4, mrIgnore = 5, mrYes = 6,
                       mrNo = 7, mrAll = 8, mrNoToAll = 9, mrYesToAll = 10, mrClose = 11;

using TCustomFormClass = TClassOf<TCustomForm>;
using TFormClass = TClassOf<TForm>;
using THintWindowClass = TClassOf<THintWindow>;

// --- The scrolling base of forms ------------------------------------------------

// The parent of forms. (The platform's scroll-bar range management is not
// used by the system's forms; the class exists for the class chain.)
class TScrollingWinControl : public TWinControl {
  CL_CLASS(TScrollingWinControl, TWinControl)
};

// --- Forms ----------------------------------------------------------------------

class TCustomForm : public TScrollingWinControl {
  CL_CLASS(TCustomForm, TScrollingWinControl)
 public:
  // Creates the form and reads its form resource (the resources of the class
  // and its ancestors below TForm, each named by its class name);
  // EResNotFound "Resource %s not found" when a class below TForm has none.
  void Create(TComponent* AOwner) override;
  // Creates the form without reading a resource.
  virtual void CreateNew(TComponent* AOwner, Integer Dummy = 0);
  void AfterConstruction() override;
  void BeforeDestruction() override;
  void Destroy() override;

  // Visible := True and brings the form to the front.
  void Show();
  void Hide();
  // Shows the form in a loop of its own until ModalResult is non-zero (or
  // the application terminates: mrCancel); every other enabled top-level
  // window of the program is disabled meanwhile. EInvalidOperation
  // "Cannot make a visible window modal" for a visible or disabled form.
  virtual Integer ShowModal();
  // A modal form sets ModalResult to mrCancel; another asks CloseQuery, then
  // OnClose with caHide (caFree for none of the system's forms but on request),
  // and hides, frees (Release) or, for the main form, terminates the
  // application.
  void Close();
  virtual Boolean CloseQuery();
  // Frees the form from the message loop (a posted CM_RELEASE).
  void Release();
  void SetFocus() override;
  // Gives Control the focus (activating the form when it is shown) or makes
  // it the control to focus when the form is shown.
  void FocusControl(TWinControl* Control) override;
  // Told that Control took the focus: it becomes the active control.
  Boolean SetFocusedControl(TWinControl* Control) override;
  // The control the focus leaves stops being the active control; the focus
  // goes to the form itself when it is active.
  void DefocusControl(TWinControl* Control, Boolean Removing) override;
  // Whether a menu of the form (a popup menu of its controls handles that
  // itself) or the OnShortCut event handles the key message; used before
  // the focused control sees a key.
  Boolean IsShortCut(TWMKey& Message) override;
  void Activate() { DoActivate(); }
  void Deactivate() { DoDeactivate(); }

  // Properties.
  TWinControl* ActiveControl() const { return FActiveControl; }
  void SetActiveControl(TWinControl* Control);
  Boolean Active() const { return FActive; }
  TFormBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TFormBorderStyle Value);
  TBorderIcons BorderIcons() const { return FBorderIcons; }
  void SetBorderIcons(TBorderIcons Value);
  TFormStyle FormStyle() const { return FFormStyle; }
  void SetFormStyle(TFormStyle Value);
  TFormStates FormState() const { return FFormState; }
  TPosition Position() const { return FPosition; }
  void SetPosition(TPosition Value);
  TDefaultMonitor DefaultMonitor() const { return FDefaultMonitor; }
  void SetDefaultMonitor(TDefaultMonitor Value) { FDefaultMonitor = Value; }
  TWindowState WindowState() const { return FWindowState; }
  void SetWindowState(TWindowState Value);
  TPopupMode PopupMode() const { return FPopupMode; }
  void SetPopupMode(TPopupMode Value);
  TCustomForm* PopupParent() const { return FPopupParent; }
  void SetPopupParent(TCustomForm* Value);
  Boolean KeyPreview() const { return FKeyPreview; }
  void SetKeyPreview(Boolean Value) { FKeyPreview = Value; }
  Integer ModalResult() const { return FModalResult; }
  void SetModalResult(Integer Value) { FModalResult = Value; }
  Boolean AlphaBlend() const { return FAlphaBlend; }
  void SetAlphaBlend(Boolean Value);
  Byte AlphaBlendValue() const { return FAlphaBlendValue; }
  void SetAlphaBlendValue(Byte Value);
  Boolean TransparentColor() const { return FTransparentColor; }
  void SetTransparentColor(Boolean Value);
  TColor TransparentColorValue() const { return FTransparentColorValue; }
  void SetTransparentColorValue(TColor Value);
  Integer PixelsPerInch() const { return FPixelsPerInch; }
  void SetPixelsPerInch(Integer Value);
  // Whether the controls are rescaled from the stored PixelsPerInch to the
  // screen's when the form is read (True).
  Boolean Scaled() const { return FScaled; }
  void SetScaled(Boolean Value) { FScaled = Value; }
  String HelpFile() const { return FHelpFile; }
  void SetHelpFile(const String& Value) { FHelpFile = Value; }
  Boolean OldCreateOrder() const { return FOldCreateOrder; }
  void SetOldCreateOrder(Boolean Value) { FOldCreateOrder = Value; }
  TCanvas* Canvas();
  // MDI: a frame form (fsMDIForm) makes an "MDICLIENT" window with its own
  // window, laid into the room its aligned controls leave; an MDI child form
  // (fsMDIChild) is a child window (WS_EX_MDICHILD) of the client window of
  // the main form, which must be a frame (EInvalidOperation "Cannot create
  // form. No MDI forms are currently active"), and is activated there when
  // its window is made.
  // The client window of a frame form; nil for other forms.
  win::HWND ClientHandle() const { return FClientHandle; }
  // The MDI child forms in the frame's client window, topmost first.
  Integer MDIChildCount();
  TForm* MDIChildren(Integer I);
  // The active MDI child form of a frame (WM_MDIGETACTIVE), or nil.
  TForm* ActiveMDIChild();
  // The monitor that holds the middle of the form.
  TMonitor* Monitor();
  Integer TextHeight() const { return FTextHeight; }
  void SetTextHeight(Integer Value) { FTextHeight = Value; }

  const TNotifyEvent& OnCreate() const { return FOnCreate; }
  void SetOnCreate(const TNotifyEvent& V) { FOnCreate = V; }
  const TNotifyEvent& OnDestroy() const { return FOnDestroy; }
  void SetOnDestroy(const TNotifyEvent& V) { FOnDestroy = V; }
  const TNotifyEvent& OnShow() const { return FOnShow; }
  void SetOnShow(const TNotifyEvent& V) { FOnShow = V; }
  const TNotifyEvent& OnHide() const { return FOnHide; }
  void SetOnHide(const TNotifyEvent& V) { FOnHide = V; }
  const TCloseEvent& OnClose() const { return FOnClose; }
  void SetOnClose(const TCloseEvent& V) { FOnClose = V; }
  const TCloseQueryEvent& OnCloseQuery() const { return FOnCloseQuery; }
  void SetOnCloseQuery(const TCloseQueryEvent& V) { FOnCloseQuery = V; }
  const TNotifyEvent& OnActivate() const { return FOnActivate; }
  void SetOnActivate(const TNotifyEvent& V) { FOnActivate = V; }
  const TNotifyEvent& OnDeactivate() const { return FOnDeactivate; }
  void SetOnDeactivate(const TNotifyEvent& V) { FOnDeactivate = V; }
  const TNotifyEvent& OnPaint() const { return FOnPaint; }
  void SetOnPaint(const TNotifyEvent& V) { FOnPaint = V; }

  // The hooks of the controls unit: a form ends GetParentForm's walk and
  // previews its controls' keys when KeyPreview is set.
  Boolean IsFormControl() const override { return true; }
  Boolean FormKeyPreview() override { return FKeyPreview; }

  // The client size, kept while the form is read and applied with the
  // frame of the form's border style (form files store the client size).
  void SetClientWidthProp(Integer Value);
  void SetClientHeightProp(Integer Value);
  Integer ClientWidthProp() { return ClientWidth(); }
  Integer ClientHeightProp() { return ClientHeight(); }
  // Visible while the form is read is kept until the form is made.
  void SetVisible(Boolean Value);

  void Dispatch(TMessage& Message) override;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  void AlignControls(TControl* AControl, TRect& Rect) override;
  void Loaded() override;
  void ReadState(TReader* Reader) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  // The wheel goes to the active control first (then up through its parents).
  void MouseWheelHandler(TMessage& Message) override;
  void ChangeScale(Integer M, Integer D) override;
  TRect GetClientRect() override;
  void PaintWindow(win::HDC DC) override;
  virtual void Paint();
  virtual void DoCreate();
  virtual void DoDestroy();
  virtual void DoShow();
  virtual void DoHide();
  virtual void DoClose(TCloseAction& Action);
  virtual void DoActivate();
  virtual void DoDeactivate();
  void GetChildren(TGetChildProc Proc, TComponent* Root) override;

 private:
  void WMClose(TMessage& Message);
  void WMPaint(TMessage& Message);
  void WMActivate(TMessage& Message);
  void WMActivateApp(TMessage& Message);
  void WMSize(TMessage& Message);
  void CMActivate(TMessage& Message);
  void CMDeactivate(TMessage& Message);
  void CMRelease(TMessage& Message);
  void CMShowingChanged(TMessage& Message);
  void CMDialogKey(TMessage& Message);
  void CMActionExecute(TMessage& Message);
  void CMActionUpdate(TMessage& Message);
  void CloseModal();
  void PlaceOnFirstShow();
  void ApplyLayeredAttributes();
  void SetWindowFocus();
  void SetActive(Boolean Value);

  std::vector<TForm*> MDIChildList();

  TWinControl* FActiveControl{};
  TWinControl* FLastActiveControl{};
  win::HWND FClientHandle{};
  TFormBorderStyle FBorderStyle{};
  TBorderIcons FBorderIcons{};
  TFormStyle FFormStyle{};
  TFormStates FFormState{};
  TPosition FPosition{};
  TDefaultMonitor FDefaultMonitor{};
  TWindowState FWindowState{};
  TPopupMode FPopupMode{};
  TCustomForm* FPopupParent{};
  Boolean FKeyPreview{};
  Boolean FActive{};
  Boolean FAlphaBlend{};
  Byte FAlphaBlendValue{};
  Boolean FTransparentColor{};
  TColor FTransparentColorValue{};
  Integer FModalResult{};
  Integer FPixelsPerInch{};
  Integer FTextHeight{};
  Boolean FScaled{};
  Boolean FOldCreateOrder{};
  Integer FClientWidth{};
  Integer FClientHeight{};
  String FHelpFile;
  TControlCanvas* FCanvas{};
  TNotifyEvent FOnCreate, FOnDestroy, FOnShow, FOnHide, FOnActivate, FOnDeactivate, FOnPaint;
  TCloseEvent FOnClose;
  TCloseQueryEvent FOnCloseQuery;

  friend class TApplication;
  friend class TScreen;
};

// The form class of the system's windows: publishes the form's properties.
class TForm : public TCustomForm {
  CL_CLASS(TForm, TCustomForm)
};

// The form that holds Control (the outermost one when TopForm), or nil.
TCustomForm* GetParentForm(TControl* Control, Boolean TopForm = true);
// GetParentForm, raising EInvalidOperation "Control '%s' has no parent
// window" when there is none.
TCustomForm* ValidParentForm(TControl* Control, Boolean TopForm = true);

// --- Monitors and the screen ------------------------------------------------------

// One display. The system reports one monitor: the virtual screen, whose
// work area is the whole screen.
class TMonitor : public TObject {
  CL_CLASS(TMonitor, TObject)
 public:
  win::HMONITOR Handle() const { return FHandle; }
  Integer MonitorNum() const { return FMonitorNum; }
  Integer Left() const { return BoundsRect().Left; }
  Integer Top() const { return BoundsRect().Top; }
  Integer Width() const { return BoundsRect().Width(); }
  Integer Height() const { return BoundsRect().Height(); }
  TRect BoundsRect() const;
  TRect WorkareaRect() const;
  Boolean Primary() const;

 private:
  win::HMONITOR FHandle{};
  Integer FMonitorNum{};
  friend class TScreen;
};

class TScreen : public TComponent {
  CL_CLASS(TScreen, TComponent)
 public:
  void Create(TComponent* AOwner) override;
  void Destroy() override;

  Integer Width() const;
  Integer Height() const;
  Integer PixelsPerInch() const { return FPixelsPerInch; }
  TRect DesktopRect() const;
  Integer DesktopLeft() const { return DesktopRect().Left; }
  Integer DesktopTop() const { return DesktopRect().Top; }
  Integer DesktopWidth() const { return DesktopRect().Width(); }
  Integer DesktopHeight() const { return DesktopRect().Height(); }
  TRect WorkAreaRect() const;
  Integer WorkAreaLeft() const { return WorkAreaRect().Left; }
  Integer WorkAreaTop() const { return WorkAreaRect().Top; }
  Integer WorkAreaWidth() const { return WorkAreaRect().Width(); }
  Integer WorkAreaHeight() const { return WorkAreaRect().Height(); }

  // The cursor table: the standard crXxx ids map to the system's cursors;
  // other ids are registered by units (SetCursors); an unknown id gives the
  // default cursor. Setting a handle of 0 removes a registered id.
  win::HCURSOR Cursors(Integer Index) const;
  void SetCursors(Integer Index, win::HCURSOR Handle);
  // The cursor shown over every window of the program while it is not
  // crDefault (the hourglass of long operations); crDefault gives the
  // windows their own cursors back.
  TCursor Cursor() const { return FCursor; }
  void SetCursor(TCursor Value);
  // How often the cursor was set (ShowModal uses it to restore the cursor).
  Integer CursorCount() const { return FCursorCount; }

  TCustomForm* ActiveCustomForm() const { return FActiveCustomForm; }
  TForm* ActiveForm() const { return FActiveForm; }
  TWinControl* ActiveControl() const { return FActiveControl; }
  TCustomForm* FocusedForm() const { return FFocusedForm; }
  Integer CustomFormCount() const { return Integer(FCustomForms.size()); }
  TCustomForm* CustomForms(Integer Index) const;
  Integer FormCount() const { return Integer(FForms.size()); }
  TForm* Forms(Integer Index) const;

  TFont* MenuFont() const { return FMenuFont; }
  TFont* HintFont() const { return FHintFont; }
  TFont* IconFont() const { return FIconFont; }
  TFont* MessageFont() const { return FMessageFont; }
  void SetHintFont(TFont* Value);
  void SetMenuFont(TFont* Value);
  void SetIconFont(TFont* Value);

  Integer MonitorCount() const { return Integer(FMonitors.size()); }
  TMonitor* Monitors(Integer Index) const;
  TMonitor* PrimaryMonitor() const;
  TMonitor* MonitorFromPoint(const TPoint& Point) const;
  TMonitor* MonitorFromRect(const TRect& Rect) const;
  TMonitor* MonitorFromWindow(win::HWND Handle) const;

  const TNotifyEvent& OnActiveControlChange() const { return FOnActiveControlChange; }
  void SetOnActiveControlChange(const TNotifyEvent& V) { FOnActiveControlChange = V; }
  const TNotifyEvent& OnActiveFormChange() const { return FOnActiveFormChange; }
  void SetOnActiveFormChange(const TNotifyEvent& V) { FOnActiveFormChange = V; }

  // Re-reads the system fonts (after a settings change).
  void ResetFonts();

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  void AddForm(TCustomForm* AForm);
  void RemoveForm(TCustomForm* AForm);
  void SetFocusedForm(TCustomForm* AForm);
  void UpdateActive(TCustomForm* AForm, TWinControl* AControl);
  void ApplyCursor();
  void LoadStandardCursors();

  Integer FPixelsPerInch{};
  TCursor FCursor{};
  Integer FCursorCount{};
  std::vector<std::pair<Integer, win::HCURSOR>> FCursorList;
  win::HCURSOR FDefaultCursor{};
  std::vector<TCustomForm*> FCustomForms;
  std::vector<TForm*> FForms;
  TCustomForm* FActiveCustomForm{};
  TForm* FActiveForm{};
  TWinControl* FActiveControl{};
  TCustomForm* FFocusedForm{};
  TFont* FMenuFont{};
  TFont* FHintFont{};
  TFont* FIconFont{};
  TFont* FMessageFont{};
  std::vector<TMonitor*> FMonitors;
  TNotifyEvent FOnActiveControlChange, FOnActiveFormChange;

  friend class TCustomForm;
  friend class TApplication;
};

// --- Hint windows ---------------------------------------------------------------

// A top-most window that never activates and never takes the mouse
// (HTTRANSPARENT), with a one-pixel border: its client origin is one pixel
// inside its Left/Top. ActivateHint keeps it inside the work area.
class THintWindow : public TCustomControl {
  CL_CLASS(THintWindow, TCustomControl)
 public:
  void Create(TComponent* AOwner) override;
  // Shows AHint in Rect (screen coordinates), moved into the work area.
  virtual void ActivateHint(TRect Rect, const String& AHint);
  virtual void ActivateHintData(TRect Rect, const String& AHint, Pointer AData);
  // The window rectangle at (0, 0) that shows AHint word-wrapped within
  // MaxWidth: the text's extent plus 6 wide and 2 high.
  virtual TRect CalcHintRect(Integer MaxWidth, const String& AHint, Pointer AData);
  // Whether a queued message ends the hint (keys, clicks, activation).
  virtual Boolean IsHintMsg(const win::MSG& Msg);
  // Hides the window and releases its handle.
  void ReleaseHandle();

  void Dispatch(TMessage& Message) override;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void Paint() override;

 private:
  void WMNCHitTest(TMessage& Message);
};

// --- The application -------------------------------------------------------------

using TExceptionEvent = TDelegate<void(TObject* Sender, const Exception& E)>;
using TIdleEvent = TDelegate<void(TObject* Sender, Boolean& Done)>;
using TShowHintEvent = TDelegate<void(String& HintStr, Boolean& CanShow, THintInfo& HintInfo)>;

class TApplication : public TComponent {
  CL_CLASS(TApplication, TComponent)
 public:
  void Create(TComponent* AOwner) override;
  void Destroy() override;

  // Runs the InitProc chain of the units.
  void Initialize();
  // Creates a form (or any component) of InstanceClass owned by the
  // application, stores it in Reference before its constructor runs (nil
  // again when the constructor raises), and makes the first form the main
  // form.
  template <class T>
  void CreateForm(T*& Reference) {
    CreateForm(T::StaticClass(), Reference);
  }
  template <class T>
  void CreateForm(TClass InstanceClass, T*& Reference) {
    if (InstanceClass && !InstanceClass->InheritsFrom(T::StaticClass())) RaiseInvalidCast();
    DoCreateForm(InstanceClass, &Reference,
                 [](void* Ref, TComponent* Instance) { *static_cast<T**>(Ref) = static_cast<T*>(Instance); });
  }
  // Shows the main form and handles messages until Terminate (or the main
  // form's closing, which terminates).
  void Run();
  // Handles one message, or runs the idle step and waits for one.
  void HandleMessage();
  // Handles every waiting message (sent, posted, input, paint, timers) and
  // the worker threads' synchronized calls, then returns.
  void ProcessMessages();
  // Ends Run (posts WM_QUIT).
  void Terminate();
  Boolean Terminated() const { return FTerminate; }

  // The handler of an exception that escaped a window procedure or event:
  // call it inside a catch block. OnException when assigned, else EAbort is
  // ignored and any other exception shown (ShowException).
  void HandleException(TObject* Sender);
  // Shows the exception's message in an error box captioned with Title.
  void ShowException(const Exception& E);
  // MessageBox with the active form as owner; Caption empty: Title.
  Integer MessageBox(const String& Text, const String& Caption, Integer Flags = 0);

  TCustomForm* MainForm() const { return FMainForm; }
  Boolean MainFormOnTaskBar() const { return FMainFormOnTaskBar; }
  void SetMainFormOnTaskBar(Boolean Value) { FMainFormOnTaskBar = Value; }
  Boolean ShowMainForm() const { return FShowMainForm; }
  void SetShowMainForm(Boolean Value) { FShowMainForm = Value; }
  String Title() const { return FTitle; }
  void SetTitle(const String& Value);
  // The application's hidden window (the parent of hint windows).
  win::HWND Handle() const { return FHandle; }
  // Whether one of the program's windows is the active window.
  Boolean Active() const { return FActive; }
  String ExeName() const;
  String HelpFile() const { return FHelpFile; }
  void SetHelpFile(const String& Value) { FHelpFile = Value; }
  // Help is not offered: answers False.
  Boolean HelpContext(THelpContext Context);
  Boolean HelpCommand(Integer Command, NativeInt Data);
  TBiDiMode BiDiMode() const { return FBiDiMode; }
  void SetBiDiMode(TBiDiMode Value) { FBiDiMode = Value; }
  Boolean UseRightToLeftReading() const { return FBiDiMode != bdLeftToRight; }
  Boolean UpdateFormatSettings() const { return FUpdateFormatSettings; }
  void SetUpdateFormatSettings(Boolean Value) { FUpdateFormatSettings = Value; }

  // Hints.
  String Hint() const { return FHint; }
  void SetHint(const String& Value);
  TColor HintColor() const { return FHintColor; }
  void SetHintColor(TColor Value);
  Integer HintPause() const { return FHintPause; }
  void SetHintPause(Integer Value) { FHintPause = Value; }
  Integer HintShortPause() const { return FHintShortPause; }
  void SetHintShortPause(Integer Value) { FHintShortPause = Value; }
  Integer HintHidePause() const { return FHintHidePause; }
  void SetHintHidePause(Integer Value) { FHintHidePause = Value; }
  Boolean HintShortCuts() const { return FHintShortCuts; }
  void SetHintShortCuts(Boolean Value) { FHintShortCuts = Value; }
  Boolean ShowHint() const { return FShowHint; }
  void SetShowHint(Boolean Value);
  THintWindowClass HintWindowClass() const { return FHintWindowClass; }
  void SetHintWindowClass(THintWindowClass Value) { FHintWindowClass = Value; }
  // The hint window now shown, or nil.
  THintWindow* HintWindow() const { return FHintWindow; }
  // Shows the hint of the control under CursorPos at once.
  void ActivateHint(const TPoint& CursorPos);
  // Hides a shown hint and forgets the control (the next one waits HintPause).
  void CancelHint();
  void HideHint();
  // A mouse move over a control (the controls unit reports each one).
  void HintMouseMove();

  // Offers an action to the active form and its controls.
  Boolean ExecuteAction(TBasicAction* Action);
  Boolean UpdateAction(TBasicAction* Action);
  // Whether the main form's shortcuts handle the key.
  Boolean IsShortCut(TWMKey& Message);

  const TNotifyEvent& OnActivate() const { return FOnActivate; }
  void SetOnActivate(const TNotifyEvent& V) { FOnActivate = V; }
  const TNotifyEvent& OnDeactivate() const { return FOnDeactivate; }
  void SetOnDeactivate(const TNotifyEvent& V) { FOnDeactivate = V; }
  const TExceptionEvent& OnException() const { return FOnException; }
  void SetOnException(const TExceptionEvent& V) { FOnException = V; }
  const TIdleEvent& OnIdle() const { return FOnIdle; }
  void SetOnIdle(const TIdleEvent& V) { FOnIdle = V; }
  const TNotifyEvent& OnHint() const { return FOnHint; }
  void SetOnHint(const TNotifyEvent& V) { FOnHint = V; }
  const TShowHintEvent& OnShowHint() const { return FOnShowHint; }
  void SetOnShowHint(const TShowHintEvent& V) { FOnShowHint = V; }

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  using TReferenceSetter = void (*)(void* Reference, TComponent* Instance);
  void DoCreateForm(TClass InstanceClass, void* Reference, TReferenceSetter Set);
  Boolean ProcessMessage(win::MSG& Msg);
  void Idle(const win::MSG& Msg);
  void DoMouseIdle();
  void WndProc(TMessage& Message);
  void HintMouseMessage(const TPoint& CursorPos);
  void StartHintTimer(Integer Value, Integer Kind);
  void StopHintTimer();
  void ShowHintNow();
  void SetHintControl(TControl* Control);
  void SetMouseControl(TControl* Control);
  Boolean IsKeyMsg(win::MSG& Msg);
  void SetActive(Boolean Value);

  win::HWND FHandle{};
  TCustomForm* FMainForm{};
  Boolean FMainFormOnTaskBar{};
  Boolean FShowMainForm{};
  Boolean FTerminate{};
  Boolean FRunning{};
  Boolean FActive{};
  Boolean FUpdateFormatSettings{};
  String FTitle;
  String FHelpFile;
  TBiDiMode FBiDiMode{};
  String FHint;
  TColor FHintColor{};
  Integer FHintPause{};
  Integer FHintShortPause{};
  Integer FHintHidePause{};
  Boolean FHintShortCuts{};
  Boolean FShowHint{};
  THintWindowClass FHintWindowClass;
  THintWindow* FHintWindow{};
  TControl* FHintControl{};
  TRect FHintCursorRect{};
  Boolean FHintActive{};
  Integer FHintTimerKind{};  // 0 none, 1 waiting to show, 2 waiting to hide
  TControl* FMouseControl{};
  TNotifyEvent FOnActivate, FOnDeactivate, FOnHint;
  TExceptionEvent FOnException;
  TIdleEvent FOnIdle;
  TShowHintEvent FOnShowHint;

  friend class TCustomForm;
};

// The program's application and screen, made by the unit's start-up step.
extern TApplication* Application;
extern TScreen* Screen;

// Disables every enabled visible top-level window of the program except
// ActiveWindow and answers them; EnableTaskWindows enables those still alive.
std::vector<win::HWND> DisableTaskWindows(win::HWND ActiveWindow);
void EnableTaskWindows(const std::vector<win::HWND>& WindowList);
