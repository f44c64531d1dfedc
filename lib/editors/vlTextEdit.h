// The single-line text editor (the program's input fields, the grid's text
// cells in place, and the base of every masked, drop-down and numeric
// editor) with its lookup items.
//
// The edit value and the inner edit's text are kept in step: a value shown
// goes through the properties' display value (SynchronizeDisplayValue); a
// text typed becomes the value (SynchronizeEditValue). Text read and written
// through Text runs through WM_GETTEXT and WM_SETTEXT, which check the text
// against the properties (IsDisplayValueValid). Typed and pasted text is
// checked by PrepareInsertion (MaxLength, lookup-list styles) before the
// window takes it. With lookup items, typing completes the text from the
// first item that starts with it and selects the completed tail
// (incremental search); the navigation keys and the wheel step through the
// items when the editor allows it (the combo box does).
#pragma once

#include "lib/editors/vlEdit.h"
#include "lib/editors/vlTextEditProperties.h"
#include "lib/editors/vlTextEditViewInfo.h"
#include "platform/classes/WeakRef.h"

class TvlCustomEditListBox;
class TvlCustomTextEdit;
class TvlCustomInnerTextEdit;
class IvlInnerTextEdit;

CL_ENUM(TvlEditLookupDataGoDirection, Byte, egdBegin, egdEnd, egdNext, egdPrev, egdPageUp, egdPageDown)

// The lookup items of an editor as the editor drives them.
class IvlTextEditLookupData : public virtual IInterface {
  CL_INTERFACE(IvlTextEditLookupData, "{5D2A8E41-7C3B-4F90-B6E1-2A9C4D7F3E58}")
 public:
  virtual Boolean CanResizeVisualArea(TSize& NewSize, Integer AMaxHeight, Integer AMaxWidth) = 0;
  virtual void CloseUp() = 0;
  virtual void Deinitialize() = 0;
  virtual void DropDown() = 0;
  virtual void DroppedDown(const String& AFindStr) = 0;
  virtual Boolean Find(const String& AText) = 0;
  virtual TWinControl* GetActiveControl() = 0;
  virtual Variant GetCurrentKey() = 0;
  virtual String GetDisplayText(const Variant& AKey) = 0;
  virtual TNotifyEvent GetOnCurrentKeyChanged() = 0;
  virtual TNotifyEvent GetOnSelectItem() = 0;
  virtual TSize GetVisualAreaPreferredSize(Integer AMaxHeight, Integer AWidth) = 0;
  virtual void Go(TvlEditLookupDataGoDirection ADirection, Boolean ACircular) = 0;
  virtual void Initialize(TWinControl* AVisualControlsParent) = 0;
  virtual Boolean IsEmpty() = 0;
  virtual Boolean IsMouseOverList(const TPoint& P) = 0;
  virtual Boolean Locate(String& AText, String& ATail, Boolean ANext) = 0;
  virtual void PositionVisualArea(const TRect& AClientRect) = 0;
  virtual void PropertiesChanged() = 0;
  virtual void SelectItem() = 0;
  virtual void SetCurrentKey(const Variant& AKey) = 0;
  virtual void SetOnCurrentKeyChanged(const TNotifyEvent& Value) = 0;
  virtual void SetOnSelectItem(const TNotifyEvent& Value) = 0;
  virtual void TextChanged() = 0;
};

using TvlCustomEditListBoxClass = TClassOf<TvlCustomEditListBox>;

// The current lookup item of an editor, the prefix search and the stepping.
class TvlCustomTextEditLookupData : public TvlInterfacedPersistent, public IvlTextEditLookupData {
  CL_CLASS(TvlCustomTextEditLookupData, TvlInterfacedPersistent)
 public:
  void Create(TPersistent* AOwner) override;
  void Destroy() override;
  virtual String GetItemText(Integer AIndex);
  virtual Integer GetItemCount();
  virtual TvlCustomEditListBoxClass ListBoxClass() const { return TvlCustomEditListBoxClass(); }
  virtual void ListItemSelected(TObject* Sender);
  virtual Boolean InternalLocate(String& AText, String& ATail, Boolean AWholeText, Boolean ANext);
  virtual void UpdateListItemCount();

  // IvlTextEditLookupData
  Boolean CanResizeVisualArea(TSize& NewSize, Integer AMaxHeight, Integer AMaxWidth) override { return true; }
  void CloseUp() override;
  void Deinitialize() override {}
  void DropDown() override {}
  void DroppedDown(const String& AFindStr) override {}
  Boolean Find(const String& AText) override;
  TWinControl* GetActiveControl() override;
  Variant GetCurrentKey() override { return Variant(FCurrentKey); }
  String GetDisplayText(const Variant& AKey) override;
  TNotifyEvent GetOnCurrentKeyChanged() override { return FOnCurrentKeyChanged; }
  TNotifyEvent GetOnSelectItem() override { return FOnSelectItem; }
  TSize GetVisualAreaPreferredSize(Integer AMaxHeight, Integer AWidth) override { return TSize{}; }
  void Go(TvlEditLookupDataGoDirection ADirection, Boolean ACircular) override;
  void Initialize(TWinControl* AVisualControlsParent) override;
  Boolean IsEmpty() override { return GetItemCount() == 0; }
  Boolean IsMouseOverList(const TPoint& P) override;
  Boolean Locate(String& AText, String& ATail, Boolean ANext) override {
    return InternalLocate(AText, ATail, false, ANext);
  }
  void PositionVisualArea(const TRect& AClientRect) override;
  // The items changed: a current or highlighted item that is gone is dropped.
  void PropertiesChanged() override;
  void SelectItem() override;
  void SetCurrentKey(const Variant& AKey) override;
  void SetOnCurrentKeyChanged(const TNotifyEvent& Value) override { FOnCurrentKeyChanged = Value; }
  void SetOnSelectItem(const TNotifyEvent& Value) override { FOnSelectItem = Value; }
  void TextChanged() override;

  // The first item equal to AText without regard to case, -1 when none.
  Integer IndexOf(const String& AText);
  TvlCustomEditListBox* List() const { return FList.Get(); }
  TvlCustomEditListBox* ActiveControl() const { return FList.Get(); }
  Integer CurrentKey() const { return FCurrentKey; }
  Integer ItemIndex() const { return FItemIndex; }
  TvlCustomTextEdit* Edit() const;

 protected:
  void InternalSetCurrentKey(Integer Value);
  void SyncListIndex(Integer AIndex);
  void SelectItemNotify();
  void ClearKeyAfterMiss(const String& AText, Boolean ANext);

 private:
  Integer FCurrentKey{};
  Integer FItemIndex{};
  // Owned by the popup that holds it; nil once that frees it.
  TWeakRef<TvlCustomEditListBox> FList;
  TNotifyEvent FOnCurrentKeyChanged;
  TNotifyEvent FOnSelectItem;
};

class TvlCustomTextEdit : public TvlCustomEdit, public IvlFormatControllerListener {
  CL_CLASS(TvlCustomTextEdit, TvlCustomEdit)
 public:
  void Destroy() override;
  void Loaded() override;
  void WndProc(TMessage& Message) override;
  void Dispatch(TMessage& Message) override;
  void Activate(TvlCustomEditData*& AEditData) override;
  void CopyToClipboard() override;
  void CutToClipboard() override;
  void PasteFromClipboard() override;
  void SelectAll() override;
  TvlCustomEditPropertiesClass GetPropertiesClass() const override {
    return ClassOf<TvlCustomTextEditProperties>();
  }
  Boolean IsChildWindow(win::HWND AWnd) override { return inherited::IsChildWindow(AWnd); }
  Boolean IsEditClass() override;
  void PrepareEditValue(const Variant& ADisplayValue, Variant& EditValue, Boolean AEditFocused) override;
  Integer GetTextBaseLine() override;
  Boolean HasTextBaseLine() override { return true; }

  // IvlFormatControllerListener
  void FormatChanged() override { LocaleFormatsChanged(); }

  virtual void LocaleFormatsChanged();
  virtual Boolean PrepareInsertion(const String& AText, String& ANewText, Integer& ACaretPos);
  virtual void CheckRangeAfterChange();
  virtual void RangeCheckHook() {}
  virtual void RaiseNewLookupDisplayText(const String& AText);
  virtual Integer InnerTextHeight();
  virtual Boolean AllowsLookupNavigation(Boolean AByMouseWheel) { return false; }
  virtual void LookupItemSelected(TObject* Sender);
  virtual String GetTextForMessage() { return CurrentDisplayText(); }
  virtual Boolean SetTextFromMessage(const String& AText) { return AcceptsDisplayText(AText); }
  virtual Variant ItemIndexToLookupKey(Integer AIndex) { return Variant(AIndex); }
  virtual Variant LookupKeyToEditValue(const Variant& AKey);
  virtual Integer LookupKeyToItemIndex(const Variant& AKey) { return (VarIsNull(AKey) || VarIsEmpty(AKey)) ? -1 : AKey.AsInteger(); }
  virtual Boolean IsBoundToField();
  virtual void ClearFindSelectionOnValue();
  virtual void InnerSelectionChanged(TObject* Sender) {}
  virtual void SetEditingText(const String& Value);
  virtual void SetItemIndex(Integer Value);
  virtual void SetSelText(const String& AText);
  virtual void AfterUndo() {}
  virtual void RefreshDisplayAfterChange();
  virtual void ClearSelection();
  virtual void Undo() { Reset(); }
  // Fires OnAfterKeyDown (the inner edit's key that neither moved the caret nor changed the text).
  virtual void DoAfterKeyDown(Word& Key, TShiftState Shift);
  virtual void SetSelection(Integer ASelStart, Integer ASelLength);

  TvlCustomTextEditProperties* ActiveProperties() {
    return static_cast<TvlCustomTextEditProperties*>(TvlCustomEdit::ActiveProperties());
  }
  TvlCustomTextEditProperties* Properties() const {
    return static_cast<TvlCustomTextEditProperties*>(TvlCustomEdit::Properties());
  }
  void SetProperties(TvlCustomTextEditProperties* Value) { TvlCustomEdit::SetProperties(Value); }
  Boolean BeepOnEnter() const { return FBeepOnEnter; }
  void SetBeepOnEnter(Boolean Value) { FBeepOnEnter = Value; }
  Integer CursorPos();
  String EditingText() { return Text(); }
  // Text and SetTextProp run through WM_GETTEXT and WM_SETTEXT.
  Boolean FindSelection() const { return FFindSelection; }
  void SetFindSelection(Boolean Value);
  IvlTextEditLookupData* ILookupData() const;
  TvlCustomTextEditLookupData* LookupData() const { return FLookupData; }
  Integer SelLength();
  void SetSelLength(Integer Value);
  Integer SelStart();
  void SetSelStart(Integer Value);
  String SelText();
  Integer ItemIndex();
  TObject* ItemObject();
  void SetItemObject(TObject* Value);
  Boolean IsPopupWindowJustClosed() const { return FIsPopupWindowJustClosed; }
  void SetPopupWindowJustClosed(Boolean Value) { FIsPopupWindowJustClosed = Value; }
  Boolean LookupDataTextChangedLocked() const { return FLookupDataTextChangedLocked; }
  void SetLookupDataTextChangedLocked(Boolean Value) { FLookupDataTextChangedLocked = Value; }
  Boolean LookupItemsScrolling() const { return FLookupItemsScrolling; }
  void SetLookupItemsScrolling(Boolean Value) { FLookupItemsScrolling = Value; }
  IvlInnerTextEdit* InnerTextEdit() const;
  // The lookup's list control, nil when none.
  TWinControl* LookupListControl();
  // For the inner edit.
  void ClearSavedInnerRegions() { ClearSavedChildControlRegions(); }
  Boolean IsActiveControlNow() { return IsActiveControl(); }
  Boolean InnerMenuHandler(TMessage& Message) { return InnerControlMenuHandler(Message); }
  void ClearSelectionByKeyboard();
  // The edit value the editor makes of a display value, with its own focused state.
  void PrepareEditValueOf(const Variant& ADisplayValue, Variant& AEditValue) {
    PrepareEditValue(ADisplayValue, AEditValue, InternalFocused());
  }

 protected:
  void StyleChanged(TObject* Sender) override;
  Boolean DoRefreshContainer(const TPoint& P, TvlMouseButton Button, TShiftState Shift,
                             Boolean AIsMouseEvent) override;
  void CalcInnerControlRegion(const TRect& AClientRect, TControl* AControl,
                              TvlContainerInnerControlBounds& ABounds) override;
  void PlaceInnerControl() override;
  // The inner edit is clipped to the view info's client rectangle, one pixel
  // smaller at top and bottom in place (and at right and bottom in a native
  // combo-box frame).
  void AlignControls(TControl* AControl, TRect& Rect) override;
  Boolean KeyDownModifiesValue(Word Key, TShiftState Shift) override;
  Boolean KeyPressModifiesValue(Char Key) override;
  void HandleInnerEditChange(TObject* Sender) override;
  void AutoSizeLimits(TvlEditSizeProperties& AEditSizeProperties) override;
  String CurrentDisplayText() override;
  TClass InnerControlClass() const override;
  void Initialize() override;
  Boolean EditingPossible() override;
  Variant CurrentEditingValue() override { return Variant(Text()); }
  void StoreValidatedDisplayValue(const Variant& ADisplayValue) override;
  void CommitValidatedDisplayValue(const Variant& ADisplayValue) override;
  Boolean IsCharAcceptable(Char AChar) override;
  void PropertiesChanged(TObject* Sender) override;
  Boolean AcceptsDisplayText(const String& AText) override;
  void ShowDisplayValue(const Variant& ADisplayValue) override;
  void SynchronizeDisplayValue() override;
  void SynchronizeEditValue() override;
  void RefreshAfterFocusChange() override;
  Boolean DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos) override;
  virtual void ApplyStyleToInnerEdit();
  // Incremental search and the lookup navigation keys.
  virtual void TextEditKeyDown(Word& Key, TShiftState Shift);
  virtual void TextEditKeyPress(Char& Key);
  Boolean LocateTyped(String& S);
  void GoLookup(TvlEditLookupDataGoDirection ADirection);
  void KeyPress(Char& Key) override;
  void DoEditKeyDown(Word& Key, TShiftState Shift) override { TextEditKeyDown(Key, Shift); }
  void DoEditKeyPress(Char& Key) override { TextEditKeyPress(Key); }
  // The inner edit moves the caret itself.
  Boolean KeyHandledByDescendant(Word Key, TShiftState Shift) override { return true; }
  Boolean IsEditValidatedNow() const { return IsEditValidated(); }
  Boolean IsKeyboardActionNow() const { return KeyboardAction(); }
  void SetKeyboardActionNow(Boolean Value) { SetKeyboardAction(Value); }
  // The clipboard's text up to its first line break, "" when it holds none.
  String ClipboardText();

 private:
  void WMGetText(TMessage& Message);
  void WMGetTextLength(TMessage& Message);
  void WMSetText(TMessage& Message);
  void WMClear(TMessage& Message);
  void WMCommand(TMessage& Message);
  void WMSetFocus(TMessage& Message);
  void RegroupDigits();
  TvlCustomInnerTextEdit* InnerTextControl() const;

  Boolean FBeepOnEnter{};
  Boolean FDisableRefresh{};
  Boolean FFindSelection{};
  Boolean FInternalTextSetting{};
  Boolean FIsDisplayValueSynchronizing{};
  Boolean FLookupItemsScrolling{};
  String FText;
  Boolean FInnerEditPositionAdjusting{};
  Boolean FIsPopupWindowJustClosed{};
  TvlCustomTextEditLookupData* FLookupData{};
  Boolean FLookupDataTextChangedLocked{};
  Boolean FListening{};

  friend class TvlCustomInnerTextEdit;
  friend class TvlCustomTextEditLookupData;
};

// The clipboard's Unicode text up to its terminating zero, "" when it holds none.
String vlGetClipboardText(win::HWND AOwner);

// The published text editor.
class TvlTextEdit : public TvlCustomTextEdit {
  CL_CLASS(TvlTextEdit, TvlCustomTextEdit)
 public:
  TvlCustomEditPropertiesClass GetPropertiesClass() const override { return ClassOf<TvlTextEditProperties>(); }
  TvlTextEditProperties* Properties() const {
    return static_cast<TvlTextEditProperties*>(TvlCustomEdit::Properties());
  }
  void SetProperties(TvlTextEditProperties* Value) { TvlCustomEdit::SetProperties(Value); }
  TvlTextEditProperties* ActiveProperties() {
    return static_cast<TvlTextEditProperties*>(TvlCustomEdit::ActiveProperties());
  }
};
