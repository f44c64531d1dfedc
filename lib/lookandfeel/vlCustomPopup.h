// The drop-down window of the library's editors and the thread hooks that
// close open popups on an outside click, when their owner goes away or is
// hidden, when the application is deactivated, and that void Alt keys a
// popup does not accept. Open popups are kept in one list, oldest first.
#pragma once

#include "lib/lookandfeel/vlContainer.h"
#include "lib/lookandfeel/vlPopupWindow.h"

constexpr Cardinal VLM_POPUPCLOSE = 0x807D;
constexpr Cardinal VLM_POPUPREOPEN = 0x807E;

class TvlCustomPopupWindow : public TvlPopupWindow, public IvlMouseEnterLeave {
  CL_CLASS(TvlCustomPopupWindow, TvlPopupWindow)
 public:
  using inherited::Create;
  virtual void Create(TWinControl* AOwnerControl);
  void BeforeDestruction() override;
  void Destroy() override;

  using inherited::Popup;
  virtual void Popup(TWinControl* AFocusedControl);
  void CloseUp() override;
  // Closes later, from the message loop.
  void ClosePopup();
  Boolean IsVisible();
  Boolean HasCapture();
  void LockDeactivate(Boolean ALock);
  Boolean IsShortCut(TWMKey& Message) override;
  Boolean Focused() override;
  Boolean CanFocus() override { return Visible(); }

  Boolean CaptureFocus() const { return FCaptureFocus; }
  void SetCaptureFocus(Boolean Value);
  // nil once that control was freed.
  TWinControl* FocusedControl() const { return FFocusedControl.Get(); }
  void SetFocusedControlProp(TWinControl* Value) { FFocusedControl = Value; }
  // The form's focus tracking, under the popup-focusing lock.
  Boolean SetFocusedControl(TWinControl* Control) override;
  Boolean IsTopMost() const { return FIsTopMost; }
  void SetIsTopMost(Boolean Value);
  // Reading clears the flag.
  Boolean JustClosed();
  Boolean ModalMode() const { return FModalMode; }
  void SetModalMode(Boolean Value) { FModalMode = Value; }
  // nil once the owner control was freed.
  TWinControl* OwnerControl() const { return FOwnerControl.Get(); }
  Boolean TerminateOnDestroy() const { return FTerminateOnDestroy; }
  void SetTerminateOnDestroy(Boolean Value) { FTerminateOnDestroy = Value; }
  Integer DeactivateLockCount() const { return FDeactivateLockCount; }
  TvlContainerStyle* Style() const { return FStyle; }
  TvlContainerViewInfo* ViewInfo() const { return FViewInfo; }
  const TNotifyEvent& OnClosed() const { return FOnClosed; }
  void SetOnClosed(const TNotifyEvent& Value) { FOnClosed = Value; }
  const TNotifyEvent& OnClosing() const { return FOnClosing; }
  void SetOnClosing(const TNotifyEvent& Value) { FOnClosing = Value; }
  const TNotifyEvent& OnShowed() const { return FOnShowed; }
  void SetOnShowed(const TNotifyEvent& Value) { FOnShowed = Value; }
  const TNotifyEvent& OnShowing() const { return FOnShowing; }
  void SetOnShowing(const TNotifyEvent& Value) { FOnShowing = Value; }

  void Dispatch(TMessage& Message) override;

  // The hooks' questions.
  virtual Boolean IsSysKeyAccepted(Word AKey);
  // True: the click must not reach its target.
  virtual Boolean ProcessOutsideClick(win::HWND AWnd, Cardinal AMessage, const TPoint& APoint, TShiftState AShift) {
    return false;
  }
  void SetJustClosed() { FJustClosed = true; }

 protected:
  virtual Boolean CanShrinkToWorkArea() { return false; }
  virtual void DoClosed();
  virtual void DoClosing();
  virtual void DoShowed();
  virtual void DoShowing();
  virtual Boolean ErasesBackground() { return false; }
  virtual void ModalCloseUp() { CloseUp(); }
  virtual void StyleChanged(TObject* Sender) {}
  virtual void CorrectBoundsWithDesktopWorkArea(TPoint& APosition);
  virtual TvlContainerStyleClass GetStyleClass() { return ClassOf<TvlContainerStyle>(); }
  virtual TvlContainerViewInfoClass GetViewInfoClass() { return ClassOf<TvlContainerViewInfo>(); }
  void MouseEnter(TControl* AControl) override {}
  void MouseLeave(TControl* AControl) override {}

  TRect OwnerBoundsOnScreen() override;
  void InitPopup() override {}
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void Paint() override;
  void AdjustClientRect(TRect& Rect) override;
  void DoDeactivate() override;
  void KeyDown(Word& Key, TShiftState Shift) override;

  TvlContainerStyle* FStyle{};
  TvlContainerViewInfo* FViewInfo{};

 private:
  Boolean FCaptureFocus{};
  Integer FDeactivateLockCount{};
  [[maybe_unused]] Boolean FDeactivation{};
  TWeakRef<TWinControl> FFocusedControl;
  Boolean FIsTopMost{};
  Boolean FJustClosed{};
  Boolean FModalMode{};
  Boolean FTerminateOnDestroy{};
  TWeakRef<TWinControl> FOwnerControl;
  TNotifyEvent FOnClosed, FOnClosing, FOnShowed, FOnShowing;
};

// The open popups, oldest first.
Integer vlOpenPopupCount();
TvlCustomPopupWindow* vlOpenPopup(Integer AIndex);
void vlAddVisiblePopupWindow(TvlCustomPopupWindow* APopup);
void vlRemoveVisiblePopupWindow(TvlCustomPopupWindow* APopup);
void vlInstallPopupHooks();
void vlRemovePopupHooks();
void vlChangeFocusingLock(Boolean ALock);

// Window ownership tests.
Boolean vlIsWindowOwnedBy(TWinControl* AControl, win::HWND AWnd, Boolean ADeep);
Boolean vlIsWindowOfControl(TWinControl* AControl, win::HWND AWnd);
Boolean vlIsWindowInControlTree(TWinControl* AControl, win::HWND AWnd);
Boolean vlIsWindowInControlForm(TWinControl* AControl, win::HWND AWnd);
// AForm is an MDI child and AWnd is the client window around it, or belongs
// (deeply) to its frame form or to another MDI child of that frame.
Boolean vlIsWindowInMDIFrame(TCustomForm* AForm, win::HWND AWnd);
Boolean vlControlHasPopupWindow(TWinControl* AControl);
// The application is active; the control has a visible window and is the
// control under the cursor; its top form window is active (or the active
// MDI child), an MDI frame, or holds the owner of the oldest open popup.
Boolean vlCanControlHotTrack(TWinControl* AControl);
// Up through child windows to the first MDI child form or the first window
// that is not a child.
win::HWND vlGetTopFormWindow(win::HWND AWnd);
