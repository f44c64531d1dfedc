// The drop-down editor base: a text editor with a drop-down button and a
// popup window opened under (or beside) it. Opening posts VLM_POPUPREOPEN to
// the popup, which shows when the message loop delivers it, so two requests
// before the loop runs open one popup. Closing carries a reason
// (crUnknown, crTab, crClose, crCancel, crEnter): the accepting ones take
// over the list's item and may post. A size the user gives the popup is
// kept in the properties (stand-alone) or in the cell's edit data (in place).
//
// The popup window draws its frame (four border styles, client edge, a
// system panel with size grip and close button, a 3-pixel shadow), sizes
// itself from its content and places itself against the editor, with the
// grip in the corner away from the editor.
#pragma once

#include "lib/editors/vlMaskEdit.h"
#include "lib/lookandfeel/vlCustomPopup.h"
#include "lib/lookandfeel/vlLookAndFeels.h"

class TvlCustomDropDownEdit;
class TvlSizeFrame;

CL_ENUM(TvlEditCorner, Byte, ecoTopLeft, ecoTopRight, ecoBottomLeft, ecoBottomRight)

using TvlCustomDrawBorderEvent = TDelegate<void(TvlContainerViewInfo* AViewInfo, TvlCanvas* ACanvas, const TRect& R,
                                               Boolean& AHandled, Integer& ABorderWidth)>;

// --- The popup window -----------------------------------------------------------------------------------

class TvlCustomEditPopupWindowViewInfo : public TvlContainerViewInfo {
  CL_CLASS(TvlCustomEditPopupWindowViewInfo, TvlContainerViewInfo)
 public:
  virtual void Calculate();
  using inherited::DrawBorder;
  virtual void DrawBorder(TvlCanvas* ACanvas, TRect& R);
  virtual TRect GetBorderExtent();
  virtual TRect GetClientExtent() { return GetBorderExtent(); }
  virtual Integer GetSysPanelHeight();
  // The sizing directions at (X, Y) (-1, 0 or +1 each); False when no sizing place.
  virtual Boolean IsSizingPlace(Integer X, Integer Y, Integer& AHorz, Integer& AVert);
  void DoPaint(TvlCanvas* ACanvas) override;

  // The width of the border alone on each side.
  Integer GetBorderWidth();
  // The system panel shows and the window theme draws it (native style with the theme).
  Boolean UsesWindowTheme() const;
  // The panel height before MinSysPanelHeight applies.
  Integer GetSysPanelBasis();
  Integer GetClientEdgeWidth();

  TvlEditPopupBorderStyle BorderStyle{};
  Boolean ClientEdge{};
  Boolean CloseButton{};
  TRect CloseButtonRect{};
  TvlLookAndFeelKind CloseButtonStyle{};
  Integer CloseButtonNativeState{};
  TvlButtonState CloseButtonState{};
  Integer MinSysPanelHeight{};
  Boolean Sizeable{};
  TvlEditCorner SizeGripCorner{ecoBottomRight};
  TRect SizeGripRect{};
  TRect SizeGripSizingRect{};
  TRect SizingRegionBounds{};
  Integer SizingOffset{};
  Integer SysPanelHeight{};
  Boolean SysPanelStyle{};
  TvlCustomDrawBorderEvent OnCustomDrawBorder;
};

class TvlCustomEditPopupWindow : public TvlCustomPopupWindow {
  CL_CLASS(TvlCustomEditPopupWindow, TvlCustomPopupWindow)
 public:
  using inherited::Create;
  void Create(TWinControl* AOwnerControl) override;
  void Destroy() override;
  void Dispatch(TMessage& Message) override;
  void CloseUp() override;

  virtual void RecalculateViewInfo();
  // Sends the character as WM_CHAR to the window that has the focus.
  virtual void DoPopupChar(Char AChar);
  virtual TSize GetMinSize();
  // Sizes the popup from its editor's content (see the rules in the header comment).
  void CalculateSize() override;
  TPoint CalculatePosition() override;
  // The largest content the screen leaves room for beside the editor.
  virtual void GetMaxContentSize(TSize& ASize);
  // Applies the window region (the shadow's shape).
  void SetPopupWindowRegion();
  // Size and position for the editor (CalculateSize, CalculatePosition, the
  // work area), with the size check locked, then the bounds applied.
  void PlaceForEditor();
  // True for a press on the editor's own drop-down area: the popup closes and
  // the press does not open it again (JustClosed).
  Boolean ProcessOutsideClick(win::HWND AWnd, Cardinal AMessage, const TPoint& APoint, TShiftState AShift) override;

  TvlCustomDropDownEdit* Edit() const;
  TvlCustomEditPopupWindowViewInfo* ViewInfo() const {
    return static_cast<TvlCustomEditPopupWindowViewInfo*>(TvlCustomPopupWindow::ViewInfo());
  }
  TSize MinSize() { return GetMinSize(); }
  Boolean LockCheckSize() const { return FLockCheckSize; }
  void SetLockCheckSize(Boolean Value) { FLockCheckSize = Value; }
  TvlEditPopupBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TvlEditPopupBorderStyle Value);
  Boolean ClientEdge() const { return FClientEdge; }
  void SetClientEdge(Boolean Value);
  Boolean CloseButton() const { return FCloseButton; }
  void SetCloseButton(Boolean Value);
  Integer MinHeight() const { return FMinHeight; }
  void SetMinHeight(Integer Value) { FMinHeight = Value; }
  Integer MinWidth() const { return FMinWidth; }
  void SetMinWidth(Integer Value) { FMinWidth = Value; }
  Boolean NativeStyle() const { return FNativeStyle; }
  void SetNativeStyle(Boolean Value);
  Boolean PopupAutoSize() const { return FPopupAutoSize; }
  void SetPopupAutoSize(Boolean Value) { FPopupAutoSize = Value; }
  Integer PopupHeight() const { return FPopupHeight; }
  void SetPopupHeight(Integer Value) { FPopupHeight = Value; }
  Integer PopupWidth() const { return FPopupWidth; }
  void SetPopupWidth(Integer Value) { FPopupWidth = Value; }
  Boolean Shadow() const { return FShadow; }
  void SetShadow(Boolean Value);
  Boolean ShowContentWhileResize() const { return FShowContentWhileResize; }
  void SetShowContentWhileResize(Boolean Value) { FShowContentWhileResize = Value; }
  Boolean Sizeable() const { return FSizeable; }
  void SetSizeable(Boolean Value);
  Boolean SysPanelStyle() const { return FSysPanelStyle; }
  void SetSysPanelStyle(Boolean Value);
  Integer MinSysPanelHeight() const { return ViewInfo()->MinSysPanelHeight; }
  void SetMinSysPanelHeight(Integer Value) { ViewInfo()->MinSysPanelHeight = Value; }
  // A sizing is in progress (kept once for the process).
  static Boolean IsSizing();

 protected:
  TvlContainerViewInfoClass GetViewInfoClass() override { return ClassOf<TvlCustomEditPopupWindowViewInfo>(); }
  Boolean CanShrinkToWorkArea() override;
  // CS_DROPSHADOW for a natively styled editor from Vista on.
  void CreateParams(TCreateParams& Params) override;
  void ModalCloseUp() override;
  void AdjustClientRect(TRect& Rect) override;
  void Resize() override;
  // The user-sizing rule: limits and the content's own snapping.
  virtual Boolean CanResizePopup(Integer& NewWidth, Integer& NewHeight);
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseLeave(TControl* AControl) override;
  void ApplyUserSize(const TRect& ABounds);
  void SetCloseButtonState(TvlButtonState AState);
  void UpdateSizingCursor(Integer X, Integer Y);
  void EndSizing();
  TRect SizingRect(const TPoint& AScreenPoint);

  Boolean FLockCheckSize{};

 private:
  Boolean FPopupAutoSize{};
  TvlEditPopupBorderStyle FBorderStyle{};
  Boolean FClientEdge{};
  Boolean FCloseButton{};
  Integer FMinHeight{};
  Integer FMinWidth{};
  Boolean FNativeStyle{};
  Integer FPopupHeight{};
  Integer FPopupWidth{};
  Boolean FShadow{};
  Boolean FShowContentWhileResize{};
  Boolean FSizeable{};
  TvlSizeFrame* FSizeFrame{};
  Boolean FSysPanelStyle{};
};
using TvlCustomEditPopupWindowClass = TClassOf<TvlCustomEditPopupWindow>;

// --- Properties -------------------------------------------------------------------------------------------

class TvlCustomDropDownEditProperties : public TvlCustomMaskEditProperties {
  CL_CLASS(TvlCustomDropDownEditProperties, TvlCustomMaskEditProperties)
 public:
  void Create(TPersistent* AOwner) override;
  void Assign(TPersistent* Source) override;
  TvlCustomEditClass GetContainerClass() const override;
  Boolean ShowsLookupList() override { return true; }

  virtual Integer GetDropDownButtonVisibleIndex() { return 0; }
  virtual Boolean DropDownOnClick() { return false; }
  virtual Boolean PostValueAfterPopupClosed() { return false; }
  virtual TvlCustomEditPopupWindowClass GetPopupWindowClass() const { return ClassOf<TvlCustomEditPopupWindow>(); }
  virtual Boolean PopupWindowCanShrink() { return true; }
  virtual Boolean PopupWindowCapturesFocus() { return false; }
  TvlCustomEditViewDataClass EditViewDataClass() const override;
  // The lookup list lives in the popup.
  virtual Boolean LookupListInPopup() { return UsesLookupData(); }

  TBitmap* ButtonGlyph();
  void SetButtonGlyph(TBitmap* Value);
  Boolean ImmediateDropDown() const { return FImmediateDropDown; }
  void SetImmediateDropDown(Boolean Value) { FImmediateDropDown = Value; }
  Boolean ImmediatePopup() const { return FImmediatePopup; }
  void SetImmediatePopup(Boolean Value) { FImmediatePopup = Value; }
  Boolean KeepArrowButtonPressedWhenDroppedDown() const { return FKeepArrowButtonPressedWhenDroppedDown; }
  void SetKeepArrowButtonPressedWhenDroppedDown(Boolean Value);
  TAlignment PopupAlignment() const;
  void SetPopupAlignment(TAlignment Value);
  Boolean PopupAutoSize() const { return FPopupAutoSize; }
  void SetPopupAutoSize(Boolean Value) { FPopupAutoSize = Value; }
  Boolean PopupClientEdge() const { return FPopupClientEdge; }
  void SetPopupClientEdge(Boolean Value);
  TvlPopupDirection PopupDirection() const { return FPopupDirection; }
  void SetPopupDirection(TvlPopupDirection Value) { FPopupDirection = Value; }
  Integer PopupHeight() const { return FPopupHeight; }
  void SetPopupHeight(Integer Value);
  TvlPopupAlignHorz PopupHorzAlignment() const { return FPopupHorzAlignment; }
  void SetPopupHorzAlignment(TvlPopupAlignHorz Value) { FPopupHorzAlignment = Value; }
  Integer PopupMinHeight() const { return FPopupMinHeight; }
  void SetPopupMinHeight(Integer Value);
  Integer PopupMinWidth() const { return FPopupMinWidth; }
  void SetPopupMinWidth(Integer Value);
  Boolean PopupSizeable() const { return FPopupSizeable; }
  void SetPopupSizeable(Boolean Value);
  Boolean PopupSysPanelStyle() const { return FPopupSysPanelStyle; }
  void SetPopupSysPanelStyle(Boolean Value);
  TvlPopupAlignVert PopupVertAlignment() const { return FPopupVertAlignment; }
  void SetPopupVertAlignment(TvlPopupAlignVert Value) { FPopupVertAlignment = Value; }
  Integer PopupWidth() const { return FPopupWidth; }
  void SetPopupWidth(Integer Value);
  Boolean PostPopupValueOnTab() const { return FPostPopupValueOnTab; }
  void SetPostPopupValueOnTab(Boolean Value) { FPostPopupValueOnTab = Value; }

  // The button that carries ButtonGlyph (0 unless a kind with more buttons moves it).
  Integer GlyphButtonIndex() const { return FGlyphButtonIndex; }
  void SetGlyphButtonIndex(Integer Value) { FGlyphButtonIndex = Value; }

  const TCloseQueryEvent& OnCloseQuery() const { return FOnCloseQuery; }
  void SetOnCloseQuery(const TCloseQueryEvent& Value) { FOnCloseQuery = Value; }
  const TNotifyEvent& OnCloseUp() const { return FOnCloseUp; }
  void SetOnCloseUp(const TNotifyEvent& Value) { FOnCloseUp = Value; }
  const TNotifyEvent& OnFinalizePopup() const { return FOnFinalizePopup; }
  void SetOnFinalizePopup(const TNotifyEvent& Value) { FOnFinalizePopup = Value; }
  const TNotifyEvent& OnInitPopup() const { return FOnInitPopup; }
  void SetOnInitPopup(const TNotifyEvent& Value) { FOnInitPopup = Value; }
  const TNotifyEvent& OnPopup() const { return FOnPopup; }
  void SetOnPopup(const TNotifyEvent& Value) { FOnPopup = Value; }

 private:
  Integer FGlyphButtonIndex{};
  Boolean FImmediateDropDown{};
  Boolean FImmediatePopup{};
  Boolean FKeepArrowButtonPressedWhenDroppedDown{};
  Boolean FPopupAutoSize{};
  Boolean FPopupClientEdge{};
  TvlPopupDirection FPopupDirection{};
  Integer FPopupHeight{};
  TvlPopupAlignHorz FPopupHorzAlignment{};
  Integer FPopupMinHeight{};
  Integer FPopupMinWidth{};
  Boolean FPopupSizeable{};
  Boolean FPopupSysPanelStyle{};
  TvlPopupAlignVert FPopupVertAlignment{};
  Integer FPopupWidth{};
  Boolean FPostPopupValueOnTab{};
  TCloseQueryEvent FOnCloseQuery;
  TNotifyEvent FOnCloseUp, FOnFinalizePopup, FOnInitPopup, FOnPopup;
};

// Per grid cell: whether the user sized the popup, and to what.
class TvlCustomDropDownEditData : public TvlCustomEditData {
  CL_CLASS(TvlCustomDropDownEditData, TvlCustomEditData)
 public:
  Boolean Initialized{};
  Integer Width{};
  Integer Height{};
};

// --- View data, the popup controls' look and feel, the inner edit ----------------------------------------

// Keeps the drop-down button pressed while open, draws the focused closed
// fixed list on a selection bar, and shows the themed fixed list as normal
// or hot instead of selected while no popup is open.
class TvlCustomDropDownEditViewData : public TvlCustomTextEditViewData {
  CL_CLASS(TvlCustomDropDownEditViewData, TvlCustomTextEditViewData)
 public:
  void Calculate(TvlCanvas* ACanvas, const TRect& ABounds, const TPoint& P, TvlMouseButton Button, TShiftState Shift,
                 TvlCustomEditViewInfo* AViewInfo, Boolean AIsMouseEvent) override;
  Boolean ButtonMayBePressed(TvlCustomEditViewInfo* AViewInfo, Integer AIndex) override;
  Integer CalculateNativeState() override;
  Boolean ButtonIsPressed(TvlCustomEditViewInfo* AViewInfo, Integer AIndex) override;
  TvlCustomDropDownEditProperties* Properties() const {
    return static_cast<TvlCustomDropDownEditProperties*>(TvlCustomEditViewData::Properties());
  }

  Boolean HasPopupWindow{};
  Boolean IsHotAndPopup{};
  Boolean KeepArrowButtonPressedWhenDroppedDown{};
};

// The look and feel the controls inside the popup take as master: its kind
// is the editor's buttons' kind, its native style the editor's, its skin the
// editor style's. Refresh tells the listeners which of the three changed
// (the mask: 1 kind, 2 native style, 4 skin name).
class TvlEditPopupControlLookAndFeel : public TvlLookAndFeel {
  CL_CLASS(TvlEditPopupControlLookAndFeel, TvlLookAndFeel)
 public:
  using inherited::Create;
  void Create(TvlCustomDropDownEdit* AEdit);
  void Refresh();
  TvlCustomDropDownEdit* Edit() const { return FEdit; }

 protected:
  TvlLookAndFeelKind InternalGetKind() const override;
  Boolean InternalGetNativeStyle() const override;
  String InternalGetSkinName() const override;

 private:
  TvlCustomDropDownEdit* FEdit{};
  TvlLookAndFeelKind FKind{};
  Boolean FNativeStyle{};
  String FSkinName;
};

// --- The editor ------------------------------------------------------------------------------------------

class TvlCustomDropDownEdit : public TvlCustomMaskEdit {
  CL_CLASS(TvlCustomDropDownEdit, TvlCustomMaskEdit)
 public:
  void Destroy() override;
  void BeforeDestruction() override;
  void Dispatch(TMessage& Message) override;
  TvlCustomEditPropertiesClass GetPropertiesClass() const override {
    return ClassOf<TvlCustomDropDownEditProperties>();
  }
  void Activate(TvlCustomEditData*& AEditData) override;
  Boolean Deactivate() override;
  void PasteFromClipboard() override;
  Boolean HasPopupWindow() override;
  TvlCustomEditViewData* MakeViewData() override;
  // A text character opens the popup (forwarded to a popup that takes the focus).
  void ActivateByKey(Char AKey, TvlCustomEditData*& AEditData) override;
  void ActivateByMouse(TShiftState AShift, Integer AX, Integer AY, TvlCustomEditData*& AEditData) override;

  virtual Boolean CanDropDown() { return false; }
  virtual void CloseUp(TvlEditCloseUpReason AReason);
  virtual void CreatePopupWindow();
  virtual void DoCloseUp();
  virtual void DoFinalizePopup();
  virtual void InitializePopup();
  virtual void DoPopup();
  virtual void DropDown();
  virtual void DropDownButtonClick() {}
  virtual TWinControl* GetPopupFocusedControl();
  // Abstract: every concrete kind gives its content's size.
  virtual void GetPopupContentPreferredSize(TSize& ASize);
  virtual void InitializeLookupData();
  virtual void SetupPopupWindow();
  virtual void PopupControlsLookAndFeelChanged(TObject* Sender) {}
  virtual void PositionPopupContent(const TRect& AClientRect);
  virtual void InitializePopupWindow();
  virtual Boolean CanHide() { return true; }
  // The rectangle the popup is placed against, in the parent's coordinates.
  virtual TRect GetPopupOwnerBounds();

  TvlCustomDropDownEditProperties* ActiveProperties() {
    return static_cast<TvlCustomDropDownEditProperties*>(TvlCustomEdit::ActiveProperties());
  }
  TvlCustomDropDownEditProperties* Properties() const {
    return static_cast<TvlCustomDropDownEditProperties*>(TvlCustomEdit::Properties());
  }
  void SetProperties(TvlCustomDropDownEditProperties* Value) { TvlCustomEdit::SetProperties(Value); }
  Boolean DroppedDown();
  void SetDroppedDown(Boolean Value);
  TvlCustomEditPopupWindow* PopupWindow() const { return FPopupWindow; }
  TvlEditPopupControlLookAndFeel* PopupControlsLookAndFeel() const { return FPopupControlsLookAndFeel; }
  // Open and hot-tracked, as the last mouse event found it.
  Boolean IsHotAndPopup() const { return FIsHotAndPopup; }
  TvlEditCloseUpReason CloseUpReason() const { return FCloseUpReason; }
  Boolean PopupSizeChanged() const { return FPopupSizeChanged; }
  // The popup window's ApplyUserSize marks both.
  void MarkPopupSized() {
    FPopupSizeChanged = true;
    FNeedStorePopupSize = true;
  }
  // A VLM_POPUPREOPEN for this popup waits in the queue.
  Boolean IsPopupPending();
  // The queued opening found the editor hidden or disabled: the opening is
  // finalised as a closing (a lent control goes back).
  // Nothing when the popup did show (and closed again inside its modal loop)
  // or another opening waits.
  void PopupNotShown() {
    if (FPopupInitialized && !IsPopupPending()) PopupWindowClosed(FPopupWindow);
  }
  // The screen point lies on the drop-down button, or in the text area of an
  // editor that opens by a click there.
  Boolean IsDropDownPlace(const TPoint& AScreenPoint);

 protected:
  void Initialize() override;
  void CreateWnd() override;
  void DestroyWnd() override;
  TClass InnerControlClass() const override;
  void PropertiesChanged(TObject* Sender) override;
  void StyleChanged(TObject* Sender) override;
  TvlCustomEditDataClass EditDataClass() const override { return ClassOf<TvlCustomDropDownEditData>(); }
  void ApplyClearedEditData(TvlCustomEditData* AEditData) override;
  // Opening and closing keys come before the masked handling.
  void DoEditKeyDown(Word& Key, TShiftState Shift) override;
  void DoEditKeyPress(Char& Key) override;
  void BeforeTabNavigation(TShiftState Shift) override;
  Boolean InPlaceMode() override;
  Boolean IsClickKey(Word Key, TShiftState Shift) override;
  Boolean ShouldReplayActivationKey(Word Key) override;
  Boolean AllowsLookupNavigation(Boolean AByMouseWheel) override;
  void ButtonDown(Integer AButtonIndex) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  Boolean DoRefreshContainer(const TPoint& P, TvlMouseButton Button, TShiftState Shift,
                             Boolean AIsMouseEvent) override;
  Boolean DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos) override;
  void DoExit() override;
  void FocusChanged() override;

  void PopupWindowCloseQuery(TObject* Sender, Boolean& CanClose);
  virtual void PopupWindowClosed(TObject* Sender);
  void PopupWindowClosing(TObject* Sender) {}
  virtual void PopupWindowShowed(TObject* Sender);
  void PopupWindowShowing(TObject* Sender) {}
  // Removes a queued opening and finalises it.
  void RemovePendingPopup();
  void DropDownTextChanged();
  void DoModifiedClick() {
    SetModifiedAfterEnter(true);
    Click();
  }
  TvlCustomDropDownEditProperties* RepositoryProperties();

  Boolean FIsActivatingByMouse{};
  Boolean FIsHotAndPopup{};
  Boolean FPopupInitialized{};
  Boolean FPopupMouseMoveLocked{};
  Boolean FPopupSizeChanged{};
  Boolean FNeedStorePopupSize{};
  Boolean FSendChildrenStyle{};
  TvlEditCloseUpReason FCloseUpReason{};
  TvlEditPopupControlLookAndFeel* FPopupControlsLookAndFeel{};
  TvlCustomEditPopupWindow* FPopupWindow{};

 private:
  void PopupControlsLookAndFeelNotify(TvlLookAndFeel* Sender, TvlLookAndFeelValues AChangedValues);
};

// The drop-down editors as filter value editors: the masked set-up, with buttons.
class TvlFilterDropDownEditHelper : public TvlFilterMaskEditHelper {
  CL_CLASS(TvlFilterDropDownEditHelper, TvlFilterMaskEditHelper)
 public:
  Boolean EditPropertiesHasButtons() const override { return true; }
};

constexpr Cardinal VLM_POPUPCHAR = 0x8096;
constexpr Cardinal VLM_DROPDOWNTEXTCHANGED = 0x8097;
