// The editor control: the base of every editor of the library, stand-alone
// on a form or in place over a grid cell. It is a container that may host
// one inner windowed control, takes its settings from a properties object
// (its own, or a repository item's: the active properties), its defaults
// from a data binding, and paints through a view info filled by a fresh
// view data at every refresh.
//
// The value flows one way through EditValue: its write accessor (ignored
// while edit-value changing is locked) stores the value, shows it, and
// raises OnEditValueChanged and OnChange; LockChangeEvents holds those
// events back and fires each at most once when the last lock goes. Buttons
// go down on a left press, stay pressed while the mouse is held (also when
// it leaves and comes back), and click when released over themselves.
//
// Keyboard, validation and posting (vlEditKeyboard.cpp). ModifiedAfterEnter
// says the user changed something since entering; while it holds and the
// text is not yet validated, leaving the editor (DoExit), Enter with
// ValidateOnEnter, Deactivate and the owner's ValidateEdit(True) run the
// active properties' ValidateDisplayValue. A refusal moves the focus back,
// selects all, beeps when BeepOnError, and raises EvlEditValidationError with
// the error text (an empty text: the silent Abort), so the action that tried
// to leave the editor stops. Escape reverts to the value on entering (edit
// classes) and swallows its character; ClearKey empties the value; ClickKey
// (Ctrl+Enter by default) clicks the Default button without typing a
// character.
//
// In place (vlEditInplace.cpp): an owner such as a grid keeps one
// TvlInplaceEditList and, per edited cell, follows the contract written
// above TvlInplaceEditList below and in docs/editors.md.
#pragma once

#include <vector>

#include "lib/editors/vlEditStyles.h"
#include "lib/editors/vlEditViewInfo.h"

class TvlTimer;
class TBasicAction;
class TReader;
class TWriter;
class TFiler;
class TvlEditRepositoryItem;
class TvlCustomEdit;

// How an editor drives its inner control.
class IvlCustomInnerEdit : public virtual IInterface {
  CL_INTERFACE(IvlCustomInnerEdit, "{9B2F1C6E-4D3A-4F8B-A1C2-3E5D7F9A0B14}")
 public:
  virtual TWinControl* GetControl() = 0;
  virtual TvlCustomEdit* GetControlContainer() = 0;
  virtual void CallDefWndProc(TMessage& Message) = 0;
  virtual Boolean CanProcessClipboardMessages() = 0;
  virtual Variant GetEditValue() = 0;
  virtual TNotifyEvent GetOnChange() = 0;
  virtual Boolean GetReadOnly() = 0;
  virtual void LockBounds(Boolean ALock) = 0;
  virtual void SafelySetFocus() = 0;
  virtual void SetEditValue(const Variant& Value) = 0;
  virtual void SetParent(TWinControl* Value) = 0;
  virtual void SetOnChange(const TNotifyEvent& Value) = 0;
  virtual void SetReadOnly(Boolean Value) = 0;
};

// An inner control that hands out an adapter instead of implementing the interface itself.
class IvlInnerEditHelperProvider : public virtual IInterface {
  CL_INTERFACE(IvlInnerEditHelperProvider, "{6C0D8A3B-2E7F-4A19-B5D4-8F1E2C3A4B56}")
 public:
  virtual IvlCustomInnerEdit* GetHelper() = 0;
};

// Told when a repository item's properties change or the item goes.
class IvlEditRepositoryItemListener : public virtual IInterface {
  CL_INTERFACE(IvlEditRepositoryItemListener, "{3F7A9C2D-8B14-4E6A-9D05-1C2B3A4D5E67}")
 public:
  virtual void RepositoryItemFreed(TvlEditRepositoryItem* Sender) = 0;
  virtual void RepositoryItemPropertiesChanged(TvlEditRepositoryItem* Sender) = 0;
};

// --- Data binding, edit data, change-events catcher -----------------------------------------------------

class TvlEditDataBinding : public TPersistent {
  CL_CLASS(TvlEditDataBinding, TPersistent)
 public:
  virtual void ProviderChanged();
  virtual Variant GetDisplayValue();
  virtual Boolean GetEditing();
  virtual Boolean GetModified();
  virtual Variant GetStoredValue();
  virtual Boolean IsDataUnavailable() { return !IsDataAvailable(); }
  virtual Boolean IsInnerControlHaveToBeReadOnly() { return false; }
  virtual void Reset();
  virtual void SetDisplayValue(const Variant& Value);
  virtual Boolean SetEditMode();
  virtual void SetStoredValue(const Variant& Value) {}
  virtual void Create(TvlCustomEdit* AEdit);
  void Destroy() override;
  virtual Boolean CanCheckEditorValue();
  virtual Boolean CanModify() { return IsDataAvailable(); }
  virtual Boolean CanPostEditorValue() { return GetModified(); }
  virtual Boolean ExecuteAction(TBasicAction* Action) { return false; }
  virtual Boolean UpdateAction(TBasicAction* Action) { return false; }
  virtual TvlCustomEditDefaultValuesProviderClass GetDefaultValuesProviderClass() const {
    return ClassOf<TvlCustomEditDefaultValuesProvider>();
  }
  virtual void SetModified();
  virtual void UpdateDisplayValue();
  virtual void UpdateNotConnectedDBEditDisplayValue() {}

  TvlCustomEdit* Edit() const { return FEdit; }
  IvlEditDefaultValuesProvider* IDefaultValuesProvider() const { return FDefaultValuesProvider; }
  TvlCustomEditDefaultValuesProvider* DefaultValuesProvider() const { return FDefaultValuesProvider; }
  Boolean IsDataAvailable() { return FDefaultValuesProvider->IsDataAvailable(); }

 private:
  TvlCustomEdit* FEdit{};
  TvlCustomEditDefaultValuesProvider* FDefaultValuesProvider{};
};
using TvlEditDataBindingClass = TClassOf<TvlEditDataBinding>;

// What an in-place editor remembers per cell between activations.
class TvlCustomEditData : public TObject {
  CL_CLASS(TvlCustomEditData, TObject)
 public:
  virtual void Create(TvlCustomEdit* AEdit);
  void Destroy() override;
  void Clear();
  TvlCustomEdit* Edit() const { return FEdit; }
  Boolean Cleared() const { return FCleared; }

 private:
  void EditFreed(TComponent* Sender);
  TvlCustomEdit* FEdit{};
  TvlFreeNotificator* FFreeNotificator{};
  Boolean FCleared{};

  friend class TvlCustomEdit;
};
using TvlCustomEditDataClass = TClassOf<TvlCustomEditData>;

class TvlEditChangeEventsCatcher : public TObject {
  CL_CLASS(TvlEditChangeEventsCatcher, TObject)
 public:
  virtual void Create(TvlCustomEdit* AEdit) { FEdit = AEdit; }
  TvlCustomEdit* Edit() const { return FEdit; }
  Integer LockCount{};
  Boolean OnChangeEvent{};
  Boolean OnEditValueChangedEvent{};

 private:
  TvlCustomEdit* FEdit{};
};

struct TvlEditModifiedState {
  Boolean Modified{};
  Boolean ModifiedAfterEnter{};
};

using TvlEditEditingEvent = TDelegate<void(TObject* Sender, Boolean& CanEdit)>;

// --- The editor -------------------------------------------------------------------------------------------

class TvlCustomEdit : public TvlContainer, public IvlEditRepositoryItemListener {
  CL_CLASS(TvlCustomEdit, TvlContainer)
 public:
  void Create(TComponent* AOwner) override;
  // The in-place constructor: stores AIsInplace, then runs the plain one.
  virtual void Create(TComponent* AOwner, Boolean AIsInplace);
  void Destroy() override;

  // Class level.
  virtual TvlCustomEditPropertiesClass GetPropertiesClass() const { return ClassOf<TvlCustomEditProperties>(); }

  // In place: shows the editor, focuses it (selecting all with AutoSelect)
  // and shows its value unmodified. AEditData is the cell's: nil at first,
  // then made here when the editor has an edit-data class; the owner keeps it
  // and hands it back on later activations of the same cell.
  virtual void Activate(TvlCustomEditData*& AEditData);
  // Activate, then the character that started editing is typed into the
  // editor exactly once (unless ShouldReplayActivationKey refuses it).
  virtual void ActivateByKey(Char AKey, TvlCustomEditData*& AEditData);
  // Activate, then the click at (AX, AY) in the parent's client coordinates
  // is replayed into the editor: a press with ssLeft in AShift, else a release.
  virtual void ActivateByMouse(TShiftState AShift, Integer AX, Integer AY, TvlCustomEditData*& AEditData);
  // Validates before editing ends: True when the value is accepted. A refusal
  // raises (EvlEditValidationError or EAbort): the owner keeps the editor open.
  virtual Boolean Deactivate();
  virtual void Clear();
  virtual void CopyToClipboard() {}
  virtual void CutToClipboard() {}
  virtual Boolean IsChildWindow(win::HWND AWnd);
  virtual Boolean IsEditClass() { return false; }
  virtual Boolean IsRepositoryItemAcceptable(TvlEditRepositoryItem* AItem);
  virtual void PasteFromClipboard() {}
  virtual void PrepareEditValue(const Variant& ADisplayValue, Variant& EditValue, Boolean AEditFocused) {}
  virtual void SelectAll() {}
  virtual Integer GetTextBaseLine() { return 0; }
  virtual Boolean HasTextBaseLine() { return false; }

  Boolean AreChangeEventsLocked() const { return FChangeEventsCatcher && FChangeEventsCatcher->LockCount > 0; }
  Boolean CanPostEditValue();
  Boolean DoEditing();
  Boolean InternalFocused();
  void LockChangeEvents(Boolean ALock, Boolean AInvokeChangedOnUnlock = true);
  void LockClick(Boolean ALock);
  void LockEditValueChanging(Boolean ALock);
  // Validates and hands the value to the data binding (in place: OnPostEditValue).
  void PostEditValue();
  // Escape's revert, through the data binding.
  void Reset();
  // True when the current text is valid or needs no validation; a valid text
  // becomes the edit value. With ARaiseExceptionOnError a refusal raises.
  virtual Boolean ValidateEdit(Boolean ARaiseExceptionOnError);

  TvlCustomEditProperties* ActiveProperties();
  TvlCustomEditProperties* InternalProperties() const { return FProperties; }
  TvlCustomEditProperties* Properties() const { return FProperties; }
  void SetProperties(TvlCustomEditProperties* Value) { FProperties->Assign(Value); }
  TvlEditRepositoryItem* RepositoryItem() const { return FRepositoryItem; }
  void SetRepositoryItem(TvlEditRepositoryItem* Value);
  const Variant& EditValue() { return GetEditValue(); }
  void SetEditValue(const Variant& Value) { WriteEditValue(Value); }
  void SetInternalEditValue(const Variant& Value) { WriteInternalEditValue(Value); }
  Variant EditingValue() { return GetEditingValue(); }
  Boolean EditModified() const { return FModified; }
  void SetEditModified(Boolean Value);
  Boolean ModifiedAfterEnter() const { return FModifiedAfterEnter; }
  void SetModifiedAfterEnter(Boolean Value);
  Boolean IsPosting() const { return FIsPosting; }
  Boolean IsEditValidated() const { return FIsEditValidated; }
  Boolean IsEditValidating() const { return FIsEditValidating; }
  // DoEditing is asking to enter edit mode (OnEditing, the data binding).
  Boolean IsEditModeSetting() const { return FEditModeSetting; }
  Boolean KeyboardAction() const { return FKeyboardAction; }
  void SetKeyboardAction(Boolean Value) { FKeyboardAction = Value; }
  // While set, the focus moving back after a refused value neither enters
  // nor validates.
  Boolean ValidateErrorProcessing() const { return FValidateErrorProcessing; }
  TvlCustomEditData* EditData() const { return FEditData; }
  // Holds validation back while positive (a nested lock count).
  void LockValidate(Boolean ALock);
  Boolean AutoSize() const { return FAutoSize; }
  void SetAutoSize(Boolean Value) override { WriteAutoSize(Value); }
  Boolean Transparent() const { return FTransparent; }
  void SetTransparent(Boolean Value);
  TvlEditDataBinding* DataBinding() const { return FDataBinding; }
  TvlCustomEditViewInfo* ViewInfo() const { return static_cast<TvlCustomEditViewInfo*>(TvlContainer::ViewInfo()); }
  TvlEditStyle* Style() const { return static_cast<TvlEditStyle*>(TvlContainer::Style()); }
  void SetStyle(TvlEditStyle* Value) { TvlContainer::Style()->Assign(Value); }
  TvlEditStyle* StyleDisabled() const { return static_cast<TvlEditStyle*>(TvlContainer::StyleDisabled()); }
  void SetStyleDisabled(TvlEditStyle* Value) { TvlContainer::StyleDisabled()->Assign(Value); }
  TvlEditStyle* StyleFocused() const { return static_cast<TvlEditStyle*>(TvlContainer::StyleFocused()); }
  void SetStyleFocused(TvlEditStyle* Value) { TvlContainer::StyleFocused()->Assign(Value); }
  TvlEditStyle* StyleHot() const { return static_cast<TvlEditStyle*>(TvlContainer::StyleHot()); }
  void SetStyleHot(TvlEditStyle* Value) { TvlContainer::StyleHot()->Assign(Value); }
  IvlCustomInnerEdit* InnerEdit() const { return FInnerEdit.get(); }
  Integer CaptureButtonVisibleIndex() const { return FCaptureButtonVisibleIndex; }
  Integer AnchorX() const { return FAnchorX; }
  Integer AnchorY() const { return FAnchorY; }
  void SetAnchorX(Integer Value);
  void SetAnchorY(Integer Value);
  Boolean IsInplace() override { return FIsInplace; }
  Boolean IsBarControl() const { return FIsBarControl; }
  TNotifyEvent PropertiesEvents() const { return FPropertiesEvents; }
  void SetPropertiesEvents(const TNotifyEvent& Value) { FPropertiesEvents = Value; }

  const TKeyEvent& OnAfterKeyDown() const { return FOnAfterKeyDown; }
  void SetOnAfterKeyDown(const TKeyEvent& Value) { FOnAfterKeyDown = Value; }
  const TvlEditEditingEvent& OnEditing() const { return FOnEditing; }
  void SetOnEditing(const TvlEditEditingEvent& Value) { FOnEditing = Value; }
  const TNotifyEvent& OnPostEditValue() const { return FOnPostEditValue; }
  void SetOnPostEditValue(const TNotifyEvent& Value) { FOnPostEditValue = Value; }
  const TNotifyEvent& OnFocusChanged() const { return FOnFocusChanged; }
  void SetOnFocusChanged(const TNotifyEvent& Value) { FOnFocusChanged = Value; }

  TvlEditContentParams ContentParams{};
  TvlInplaceEditParams InplaceParams{};

  // IvlEditRepositoryItemListener
  void RepositoryItemFreed(TvlEditRepositoryItem* Sender) override;
  void RepositoryItemPropertiesChanged(TvlEditRepositoryItem* Sender) override;

  void Dispatch(TMessage& Message) override;
  void SetParent(TWinControl* AParent) override;
  // In place, WM_CONTEXTMENU goes no further than the editor.
  void DefaultHandler(TMessage& Message) override;
  // The inherited answer, else the data binding's.
  Boolean ExecuteAction(TBasicAction* Action) override;
  Boolean UpdateAction(TBasicAction* Action) override;
  // In place and visible, the owner (its parent) leaves the tab order.
  void GetTabOrderList(std::vector<TWinControl*>& List) override;

  // Container slots.
  void GetBorderSizes(TRect& R) override;
  TvlEditStateColorKind GetEditStateColorKind() override;
  Boolean UsesNativeStyle() override;

  // The index of the first button view info whose Bounds contain P, -1 when none.
  Integer GetButtonIndexAt(const TPoint& P);
  // A fresh view data for this editor (the caller frees it).
  virtual TvlCustomEditViewData* MakeViewData();
  void RequestAlign() override;

 protected:
  virtual void CalculateAnchors();
  virtual void PlaceInnerControl();
  virtual void FinishPosting() { FIsPosting = false; }
  virtual void StartPosting() { FIsPosting = true; }
  virtual Boolean AutoSizingActive() { return !FIsInplace && FAutoSize; }
  virtual Boolean AutoSizeWithinWidth() { return false; }
  virtual Boolean AutoWidthWanted();
  virtual Boolean KeyDownModifiesValue(Word Key, TShiftState Shift) { return false; }
  virtual Boolean KeyPressModifiesValue(Char Key) { return false; }
  // Keyboard, validation and posting (vlEditKeyboard.cpp).
  virtual void HandleValidationError(const String& AErrorText, Boolean ARaise);
  virtual void RevertValue();
  virtual void InternalPostEditValue(Boolean AValidateFirst);
  virtual void DoEditKeyDown(Word& Key, TShiftState Shift);
  virtual void DoEditKeyPress(Char& Key);
  virtual void DoEditKeyUp(Word& Key, TShiftState Shift) {}
  virtual void BeforeTabNavigation(TShiftState Shift) {}
  virtual Boolean CanKeyDownModify(Word Key, TShiftState Shift);
  virtual Boolean CanKeyPressModify(Char& Key);
  // A descendant that handles the key itself (its inner control) answers True.
  virtual Boolean KeyHandledByDescendant(Word Key, TShiftState Shift) { return false; }
  virtual void HandleEnter();
  virtual void HandleFocusChange();
  // The message to the inner control, after the container's handling.
  Boolean HandleInnerControlMessage(TMessage& Message) override;
  void DoEnter() override;
  void DoExit() override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void KeyPress(Char& Key) override;
  void KeyUp(Word& Key, TShiftState Shift) override;
  // In place: the inner control's messages go to its own procedure with the
  // editor's window handle while the activating key is replayed.
  virtual void HookInnerEditWindow();
  virtual void UnhookInnerEditWindow();
  virtual Boolean ValueCanBeModified();
  virtual void HandleInnerEditChange(TObject* Sender);
  virtual IvlCustomInnerEdit* CreateInnerControlInterface();
  virtual void ClickDefaultButton();
  virtual void AutoSizeChanged() {}
  virtual void ButtonClick(Integer AButtonIndex);
  virtual void ButtonDown(Integer AButtonIndex) {}
  virtual void ButtonUp(Integer AButtonIndex) {}
  virtual void RaiseChange();
  virtual void RaiseEditValueChanged();
  virtual void FireChange();
  virtual void FireEditValueChanged();
  virtual void UpdateInnerReadOnly();
  virtual void AutoSizeLimits(TvlEditSizeProperties& AEditSizeProperties);
  virtual Variant EmptyValue() { return Null(); }
  virtual TvlEditDataBindingClass DataBindingClass() const { return ClassOf<TvlEditDataBinding>(); }
  virtual String CurrentDisplayText() { return String(); }
  virtual TvlCustomEditDataClass EditDataClass() const { return TvlCustomEditDataClass(); }
  virtual Variant GetEditingValue();
  virtual const Variant& GetEditValue() { return FEditValue; }
  virtual TClass InnerControlClass() const { return nullptr; }
  virtual void Initialize();
  virtual void ApplyClearedEditData(TvlCustomEditData* AEditData) {}
  virtual void SetUpInnerControl();
  virtual void FillViewDataState(TvlCustomEditViewData* AViewData);
  virtual Boolean EditingPossible() { return true; }
  virtual Variant CurrentEditingValue() { return FEditValue; }
  virtual void StoreValidatedDisplayValue(const Variant& ADisplayValue) {}
  virtual void InternalSetEditValue(const Variant& AValue, Boolean AValidate);
  virtual void CommitValidatedDisplayValue(const Variant& ADisplayValue);
  virtual Boolean IsActiveControl();
  virtual Boolean OwnsChildWindow(win::HDC ADC) { return false; }
  virtual Boolean ClickWhileLoading() { return false; }
  virtual Boolean PaintsStoredValue();
  virtual Boolean IsClickKey(Word Key, TShiftState Shift);
  virtual Boolean EditValueIsStored();
  virtual Boolean AlwaysTransparent() { return false; }
  virtual Boolean TransparentNow() { return !FIsInplace && FTransparent; }
  virtual Boolean IsCharAcceptable(Char AChar);
  virtual Boolean WantsAfterKeyDown(Word Key, TShiftState Shift) { return false; }
  virtual void PaintWithoutInnerControl(TvlCanvas* ACanvas);
  virtual void PrepareDisplayValueOf(const Variant& AEditValue, Variant& ADisplayValue, Boolean AEditFocused);
  virtual void PropertiesChanged(TObject* Sender);
  virtual Boolean IsReadOnlyNow();
  virtual void RepositoryItemChanged() {}
  virtual void RepositoryItemChanging() {}
  virtual Boolean ShouldReplayActivationKey(Word Key) { return true; }
  virtual Boolean AcceptsDisplayText(const String& AText) { return false; }
  virtual void WriteAutoSize(Boolean Value);
  virtual void WriteEditValue(const Variant& Value);
  virtual void WriteInternalEditValue(const Variant& Value);
  virtual void ShowDisplayValue(const Variant& ADisplayValue) {}
  virtual void SynchronizeDisplayValue() {}
  virtual void SynchronizeEditValue() {}
  virtual Boolean InPlaceMode() { return FIsInplace; }
  virtual Boolean RefreshesOnFocus() { return true; }
  virtual void RefreshAfterFocusChange() {}
  virtual Boolean UsesAnchorX() { return false; }
  virtual Boolean UsesAnchorY() { return false; }
  Boolean UsesAnchors() { return UsesAnchorX() || UsesAnchorY(); }
  virtual Boolean SupportsSpelling() { return false; }
  virtual void SetIsBarControl(Boolean Value) { FIsBarControl = Value; }
  virtual void AssignEditValueQuietly(const Variant& AValue) { InternalSetEditValue(AValue, false); }

  // Container overrides.
  Boolean HandlesTabKey() override { return false; }
  void ProcessStateTransitions() override;
  Boolean DoRefreshContainer(const TPoint& P, TvlMouseButton Button, TShiftState Shift,
                             Boolean AIsMouseEvent) override;
  TvlContainerStyleClass GetStyleClass() override;
  TvlContainerViewInfoClass GetViewInfoClass() override;
  TvlContainerStyleValues GetUnpublishedStyleValues() override;
  Boolean IsTransparentBackground() override { return AlwaysTransparent() || TransparentNow(); }
  void UpdateInnerControlBounds() override;
  void FocusInnerControl() override;

  // Platform overrides.
  void Click() override;
  void DblClick() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void Loaded() override;
  void ReadState(TReader* Reader) override;
  void SetName(const String& NewName) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void Paint() override;
  Boolean CanResize(Integer& NewWidth, Integer& NewHeight) override;
  void CreateHandle() override;
  void DefineProperties(TFiler* Filer) override;
  void FocusChanged() override;

  // Measures the editor for automatic sizing; False when it does not size itself.
  Boolean MeasureAutoSize(Integer& AWidth, Integer& AHeight);
  void SaveModifiedState();
  void RestoreModifiedState();
  void DoButtonClickAtCursor();
  // Lets a held button go without a click.
  void CancelButtonPress();

  TvlEditDataBinding* FDataBinding{};
  Variant FEditValue;
  TvlCustomEditProperties* FProperties{};

 private:
  void CMDialogChar(TMessage& Message);
  void WMClipboard(TMessage& Message);
  void InnerEditHookWndProc(TMessage& Message);
  void CMHintShow(TMessage& Message);
  void CMShowingChanged(TMessage& Message);
  void DblClickTimerTick(TObject* Sender);
  void ReadHeight(TReader* Reader);
  void ReadWidth(TReader* Reader);
  void WriteHeight(TWriter* Writer);
  void WriteWidth(TWriter* Writer);
  void ReadAnchorX(TReader* Reader);
  void ReadAnchorY(TReader* Reader);
  void WriteAnchorX(TWriter* Writer);
  void WriteAnchorY(TWriter* Writer);
  void AttachPropertiesHook(Boolean AAttach);
  Boolean HasChangeHandler();
  Boolean HasEditValueChangedHandler();

  Integer FAnchorX{};
  Integer FAnchorY{};
  Boolean FAutoSize{};
  Integer FCaptureButtonVisibleIndex{};
  TvlEditChangeEventsCatcher* FChangeEventsCatcher{};
  Integer FClickLockCount{};
  TvlTimer* FDblClickTimer{};
  TvlCustomEditData* FEditData{};
  Boolean FEditModeSetting{};
  Integer FEditValueChangingLockCount{};
  Boolean FFocused{};
  Boolean FHandleAllocating{};
  TInterfacePtr<IvlCustomInnerEdit> FInnerEdit;
  Boolean FIsBarControl{};
  Boolean FIsContentParamsInitialized{};
  Boolean FIsEditValidated{};
  Boolean FIsEditValidating{};
  Boolean FIsEditValueResetting{};
  Boolean FIsEscapeDown{};
  Boolean FValidateErrorProcessing{};
  TWndMethod FSavedInnerEditWndProc;
  Boolean FInnerEditHooked{};
  Boolean FIsFirstSetSize{};
  Boolean FIsInplace{};
  Boolean FIsJustCreated{};
  Boolean FIsPosting{};
  Boolean FKeyboardAction{};
  Integer FLockValidate{};
  Boolean FModified{};
  Boolean FModifiedAfterEnter{};
  TKeyEvent FOnAfterKeyDown;
  TvlEditEditingEvent FOnEditing;
  TNotifyEvent FOnPostEditValue;
  TNotifyEvent FOnFocusChanged;
  Variant FPrevEditValue;
  std::vector<TvlEditModifiedState> FPrevModifiedList;
  TNotifyEvent FPropertiesEvents;
  TvlEditRepositoryItem* FRepositoryItem{};
  Boolean FTransparent{};
  Boolean FUpdate{};

  friend class TvlCustomEditViewData;
  friend class TvlCustomEditViewInfo;
  friend class TvlCustomEditData;
  friend class TvlEditDataBinding;
};

// Whether two variants have the same type and are equal as edit values.
Boolean vlVarEqualsStrict(const Variant& AValue1, const Variant& AValue2);
TShiftState vlMouseButtonToShift(TMouseButton AButton);
TShiftState vlContainerMouseButtonToShift(TvlMouseButton AButton);

// --- In-place editing ------------------------------------------------------------------------------------
//
// The cache of in-place editors: one editor per properties object, all made
// with EditorOwner as owner, in place and invisible. GetEdit assigns the
// properties to the cached editor's own properties on every call, so the
// editor is a copy of the column's properties as of that call. A properties
// object that is destroyed is forgotten by every list (its editor stays as a
// free item for reuse by other properties of the same editor class).
//
// The owner's side (a grid's editing controller, the filter builder):
//  1. Keep one list per owner control, made with that control as EditorOwner.
//  2. To start editing a cell: choose the properties (vlSelectInplaceEditProperties
//     for a column with a repository item), GetEdit, set the editor's
//     RepositoryItem when the selection said so, parent the editor to the
//     owner's window, give it the cell's bounds, style, InplaceParams.Position
//     and value (EditValue), hook OnPostEditValue and OnEditing as needed, then
//     ActivateByKey (the user typed a character), ActivateByMouse (the user
//     clicked the cell) or Activate, keeping the cell's edit data between calls.
//  3. To post: ValidateEdit(True) (or PostEditValue), then read EditValue.
//  4. To stop: Deactivate (an exception is a refusal: keep the editor open),
//     then hide and unparent the editor; it stays cached.
//  5. RemoveItem drops an editor kind; properties that go are forgotten here.

struct TvlEditListItem {
  TvlCustomEdit* Edit{};
  TvlCustomEditProperties* Properties{};
};

class TvlInplaceEditList : public TObject {
  CL_CLASS(TvlInplaceEditList, TObject)
 public:
  virtual void Create(TComponent* AEditorOwner);
  void Destroy() override;

  TvlCustomEdit* GetEdit(TvlCustomEditProperties* AProperties);
  TvlCustomEdit* GetEdit(TvlCustomEditPropertiesClass APropertiesClass);
  TvlCustomEdit* FindEdit(TvlCustomEditProperties* AProperties);
  TvlCustomEdit* FindEdit(TvlCustomEditPropertiesClass APropertiesClass);
  void RemoveItem(TvlCustomEditProperties* AProperties);
  void RemoveItem(TvlCustomEditPropertiesClass APropertiesClass);
  // Forgets AProperties; its editor stays for reuse.
  void DisconnectProperties(TvlCustomEditProperties* AProperties);

  TComponent* EditorOwner() const { return FEditorOwner; }
  Integer Count() const { return Integer(FItems.size()); }
  const TvlEditListItem& Items(Integer AIndex) const { return FItems[size_t(AIndex)]; }

 private:
  Integer FindItem(TvlCustomEditProperties* AProperties, Boolean AReuse);
  Integer FindFreeItem(TvlCustomEditPropertiesClass APropertiesClass);
  TvlCustomEdit* CreateEdit(TvlCustomEditPropertiesClass APropertiesClass);
  void RemoveAt(Integer AIndex);

  TComponent* FEditorOwner{};
  std::vector<TvlEditListItem> FItems;
};

// Every live in-place editor list forgets AProperties (a properties object
// being destroyed calls it).
void vlDisconnectPropertiesFromInplaceEditLists(TvlCustomEditProperties* AProperties);

// True, and AProperties := AOwnProperties, when both are given, AProperties is
// the repository item's properties and these inherit from AOwnProperties' class.
Boolean vlSelectInplaceEditProperties(TvlCustomEditProperties* AOwnProperties, TvlEditRepositoryItem* ARepositoryItem,
                                      TvlCustomEditProperties*& AProperties);

// Synchronous sends to a control's window. The mouse message carries the key
// state made from AShift and the point in LParam (x low word, y high word);
// the key messages carry AKey in WParam and 0 in LParam.
void vlSendMouseMessage(TWinControl* AReceiver, win::UINT AMessage, TShiftState AShift, const TPoint& APoint);
void vlSendKeyMessage(TWinControl* AReceiver, win::UINT AMessage, Word AKey, TShiftState AShift);
void vlSendKeyDownMessage(TWinControl* AReceiver, Word AKey, TShiftState AShift);
void vlSendCharMessage(TWinControl* AReceiver, Word AKey);
