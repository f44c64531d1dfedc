// The radio button and the radio group.
//
// TvlRadioButton is an owner-drawn platform radio button painted through the
// look-and-feel painters, with hot and pressed states tracked from the mouse.
// TvlRadioGroup is the concrete button group: an editor whose edit value
// selects one of its items (by the item's Value, or by its Caption when the
// Value is Null); each item is shown by a TvlCustomRadioGroupButton that
// defers its input to the group. The edit value is the source of truth once
// loaded: every value change re-synchronizes the checked button; while
// loading, reading, updating or designing, ItemIndex lives in
// FLoadedItemIndex and is applied after Loaded and Updated.
//
// Files: vlRadioGroup.cpp (the radio button, the group's buttons, items and
// properties, the group, start-up), vlRadioGroupView.cpp (view data and view
// info: metrics and painting of buttons drawn without a control).
#pragma once

#include "lib/editors/vlButtonGroup.h"
#include "lib/editors/vlComboBox.h"
#include "platform/vcl/StdCtrls.h"

class TControlCanvas;
class TvlCustomRadioGroup;

CL_ENUM(TvlRadioButtonState, Byte, rbsDisabled, rbsHot, rbsNormal, rbsPressed)

// --- The radio button ---------------------------------------------------------------------------------

class TvlRadioButton : public TRadioButton,
                       public IvlLookAndFeelOwner,
                       public IvlMouseTrackingCaller,
                       public IvlSkinnableControl {
  CL_CLASS(TvlRadioButton, TRadioButton)
 public:
  void Create(TComponent* AOwner) override;
  void Destroy() override;
  void Dispatch(TMessage& Message) override;
  Boolean Focused() override;
  void Invalidate() override;

  virtual void AdjustTextRect(TRect& ARect, Boolean ANativeStyle);
  virtual void DrawBackground();
  virtual void DrawCaption(TvlCanvas* ACanvas, Boolean ANativeStyle);
  virtual Boolean IsInplace() { return false; }
  virtual Boolean IsNativeBackground();
  virtual Boolean IsNativeStyle();
  virtual Boolean IsTransparent() { return FTransparent; }
  virtual Boolean IsTransparentBackground();
  virtual void DrawItem(Boolean AFocusOnly);
  virtual void UpdateState(TShiftState AShift, const TPoint& APoint);

  TvlLookAndFeel* LookAndFeel() const { return FLookAndFeel; }
  void SetLookAndFeel(TvlLookAndFeel* Value) { FLookAndFeel->Assign(Value); }
  TComponent* PopupMenu() const { return FPopupMenu; }
  void SetPopupMenu(TComponent* Value);
  Boolean Transparent() const { return FTransparent; }
  void SetTransparent(Boolean Value);
  TvlRadioButtonState State() const { return FState; }
  const TRect& ButtonRect() const { return FButtonRect; }
  Integer Column() const { return FColumn; }
  Integer Row() const { return FRow; }
  TvlCanvas* LibraryCanvas() const { return FCanvas; }

  // IvlLookAndFeelOwner
  TvlLookAndFeel* GetLookAndFeelValue() override { return FLookAndFeel; }
  // IvlMouseTrackingCaller
  void MouseLeave() override { MouseLeave(nullptr); }

 protected:
  virtual void LookAndFeelChanged(TvlLookAndFeel* Sender, TvlLookAndFeelValues AChangedValues);
  virtual void EnabledChanged();
  virtual void MouseEnter(TControl* AControl);
  virtual void MouseLeave(TControl* AControl);
  // The group the button belongs to (nil for a stand-alone button).
  virtual TvlCustomRadioGroup* Group() { return nullptr; }
  virtual void DoShowPopupMenu(TComponent* APopupMenu, Integer X, Integer Y);
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void CreateHandle() override;
  void CreateParams(TCreateParams& Params) override;
  void DoEnter() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void DoContextPopup(TPoint MousePos, Boolean& Handled) override;
  TvlCustomLookAndFeelPainterClass Painter();
  TColor GlyphBackgroundColor();

  TRect FButtonRect{};
  TvlCanvas* FCanvas{};
  Integer FColumn{};
  TControlCanvas* FControlCanvas{};
  Integer FRow{};

 private:
  void CNDrawItem(TMessage& Message);
  void CNMeasureItem(TMessage& Message);
  void WMContextMenu(TMessage& Message);
  void CNKeyDown(TMessage& Message);

  TvlLookAndFeel* FLookAndFeel{};
  TComponent* FPopupMenu{};
  TvlRadioButtonState FState{};
  Boolean FTransparent{};

  friend class TvlCustomRadioGroup;
};

// One item's button inside a radio group.
class TvlCustomRadioGroupButton : public TvlRadioButton, public IvlContainerInnerControl {
  CL_CLASS(TvlCustomRadioGroupButton, TvlRadioButton)
 public:
  void Create(TComponent* AOwner) override;
  void Destroy() override;
  void WndProc(TMessage& Message) override;
  void Dispatch(TMessage& Message) override;
  void DefaultHandler(TMessage& Message) override;
  Boolean CanFocus() override;
  Boolean ExecuteAction(TBasicAction* Action) override;
  Boolean UpdateAction(TBasicAction* Action) override;

  Boolean IsInplace() override;
  Boolean IsNativeBackground() override;
  Boolean IsNativeStyle() override;
  Boolean IsTransparent() override;
  Boolean IsTransparentBackground() override;
  void DrawBackground() override;
  void DrawItem(Boolean AFocusOnly) override;
  // Checks the button as the user would (not internal): the group takes the value.
  void SetCheckedByUser() { SetChecked(true); }

  // IvlContainerInnerControl
  TWinControl* GetInnerControl() override { return this; }
  TvlContainer* GetOwnerContainer() override;

 protected:
  TvlCustomRadioGroup* Group() override;
  void SetChecked(Boolean Value) override;
  void KeyPress(Char& Key) override;
  void DoEnter() override;
  void DoExit() override;
  void Click() override;

 private:
  void CNCommand(TMessage& Message);
  void WMGetDlgCode(TMessage& Message);
  void WMFocusChanged(TMessage& Message);
  // Sets the button's checked state without reporting to the group.
  void InternalSetChecked(Boolean Value);

  Boolean FFocusingByMouse{};
  Boolean FInternalSettingChecked{};
  Boolean FIsClickLocked{};

  friend class TvlCustomRadioGroup;
};

// --- Items and properties ---------------------------------------------------------------------------

class TvlRadioGroupItem : public TvlButtonGroupItem {
  CL_CLASS(TvlRadioGroupItem, TvlButtonGroupItem)
 public:
  void Create(TCollection* Collection) override;
  void Assign(TPersistent* Source) override;
  const Variant& Value() const { return FValue; }
  void SetValue(const Variant& Value);
  Boolean IsValueStored() { return !VarIsNull(FValue); }

 private:
  Variant FValue;
};

class TvlRadioGroupItems : public TvlButtonGroupItems {
  CL_CLASS(TvlRadioGroupItems, TvlButtonGroupItems)
 public:
  TvlRadioGroupItem* Add() { return static_cast<TvlRadioGroupItem*>(TCollection::Add()); }
  TvlRadioGroupItem* Items(Integer Index) const {
    return static_cast<TvlRadioGroupItem*>(TCollection::Items(Index));
  }
};

class TvlCustomRadioGroupProperties : public TvlCustomButtonGroupProperties {
  CL_CLASS(TvlCustomRadioGroupProperties, TvlCustomButtonGroupProperties)
 public:
  void Create(TPersistent* AOwner) override;
  void Assign(TPersistent* Source) override;
  TvlCustomEditViewDataClass EditViewDataClass() const override;
  Boolean ValueChangeReportedSeparately() const override { return true; }
  Boolean CanCompareEditValue() override { return true; }
  TvlCustomEditClass GetContainerClass() const override;
  TvlCustomEditViewInfoClass GetViewInfoClass() const override;
  Boolean CompareDisplayValues(const Variant& AEditValue1, const Variant& AEditValue2) override;
  String GetDisplayText(const Variant& AEditValue, Boolean AFullText = false, Boolean AIsInplace = true) override;
  TvlEditSupportedOperations GetSupportedOperations() override;
  Boolean IsResetEditClass() override { return true; }
  void PrepareDisplayValue(const Variant& AEditValue, Variant& DisplayValue, Boolean AEditFocused) override;
  TvlButtonGroupItems* CreateItems() override;
  // min(Columns, item count), at least 1: empty columns are possible.
  Integer GetColumnCount() override;

  // The first item whose Value equals the edit value (an item without a
  // Value: whose Caption equals it as a string, case-sensitively), -1 when none.
  Integer GetRadioGroupItemIndex(const Variant& AEditValue);

  TvlRadioGroupItems* Items() const { return static_cast<TvlRadioGroupItems*>(TvlCustomButtonGroupProperties::Items()); }
  void SetItems(TvlRadioGroupItems* Value) { TvlCustomButtonGroupProperties::SetItems(Value); }
  const String& DefaultCaption() const { return FDefaultCaption; }
  void SetDefaultCaption(const String& Value);
  Boolean IsDefaultCaptionStored();
  const Variant& DefaultValue() const { return FDefaultValue; }
  void SetDefaultValue(const Variant& Value);
  Boolean IsDefaultValueStored() { return !VarIsNull(FDefaultValue); }

 private:
  String FDefaultCaption;
  Variant FDefaultValue;
};

class TvlRadioGroupProperties : public TvlCustomRadioGroupProperties {
  CL_CLASS(TvlRadioGroupProperties, TvlCustomRadioGroupProperties)
};

class TvlRadioGroupButtonViewInfo : public TvlGroupBoxButtonViewInfo {
  CL_CLASS(TvlRadioGroupButtonViewInfo, TvlGroupBoxButtonViewInfo)
 public:
  TRect GetGlyphRect(const TSize& AGlyphSize, TAlignment AAlignment, Boolean AIsPaintCopy) override;
};

class TvlCustomRadioGroupViewInfo : public TvlButtonGroupViewInfo {
  CL_CLASS(TvlCustomRadioGroupViewInfo, TvlButtonGroupViewInfo)
 public:
  void Create() override;
  TvlEditButtonViewInfoClass ButtonViewInfoClass() const override;
  void DrawButtonCaption(TvlCanvas* ACanvas, TvlGroupBoxButtonViewInfo* AButtonViewInfo,
                         const TRect& AGlyphRect) override;
  void DrawButtonGlyph(TvlCanvas* ACanvas, TvlGroupBoxButtonViewInfo* AButtonViewInfo,
                       const TRect& AGlyphRect) override;
  Boolean IsButtonGlyphTransparent(TvlGroupBoxButtonViewInfo* AButtonViewInfo) override;

  Integer ItemIndex{-1};
};

class TvlCustomRadioGroupViewData : public TvlButtonGroupViewData {
  CL_CLASS(TvlCustomRadioGroupViewData, TvlButtonGroupViewData)
 public:
  void Calculate(TvlCanvas* ACanvas, const TRect& ABounds, const TPoint& P, TvlMouseButton Button,
                 TShiftState Shift, TvlCustomEditViewInfo* AViewInfo, Boolean AIsMouseEvent) override;
  void EditValueToDrawValue(TvlCanvas* ACanvas, const Variant& AEditValue, TvlCustomEditViewInfo* AViewInfo) override;
  void GetButtonMetrics(TvlCanvas* ACanvas, TvlButtonMetrics& AMetrics) override;
  void CalculateButtonNativeInfo(TvlCustomEditViewInfo* AViewInfo,
                                 TvlGroupBoxButtonViewInfo* AButtonViewInfo) override;

  TvlCustomRadioGroupProperties* RadioProperties() const {
    return static_cast<TvlCustomRadioGroupProperties*>(Properties());
  }
};

// --- The group ----------------------------------------------------------------------------------------

class TvlCustomRadioGroup : public TvlCustomButtonGroup {
  CL_CLASS(TvlCustomRadioGroup, TvlCustomButtonGroup)
 public:
  TvlCustomEditPropertiesClass GetPropertiesClass() const override {
    return ClassOf<TvlCustomRadioGroupProperties>();
  }
  TvlCustomRadioGroupProperties* Properties() const {
    return static_cast<TvlCustomRadioGroupProperties*>(TvlCustomEdit::Properties());
  }
  void SetProperties(TvlCustomRadioGroupProperties* Value) { TvlCustomEdit::SetProperties(Value); }
  TvlCustomRadioGroupProperties* ActiveProperties() {
    return static_cast<TvlCustomRadioGroupProperties*>(TvlCustomEdit::ActiveProperties());
  }
  TvlCustomRadioGroupButton* Buttons(Integer AIndex) const {
    return static_cast<TvlCustomRadioGroupButton*>(FButtons[size_t(AIndex)]);
  }

  Integer ItemIndex();
  void SetItemIndex(Integer Value);
  Boolean IsItemIndexStored() { return ItemIndex() != -1; }
  Boolean SkinsPaintCopy() const { return FSkinsPaintCopy; }

  void Activate(TvlCustomEditData*& AEditData) override;
  void Clear() override;
  void PrepareEditValue(const Variant& ADisplayValue, Variant& EditValue, Boolean AEditFocused) override;
  void SetFocus() override;
  void Loaded() override;
  void SetDragMode(TDragMode Value) override;
  void SetDragKind(TDragKind Value) override;
  void GetTabOrderList(std::vector<TWinControl*>& List) override;
  void GetChildren(TGetChildProc Proc, TComponent* Root) override {}
  void Dispatch(TMessage& Message) override;
  void UpdateButtons() override;

  // Called by a button the user has just checked.
  void ButtonChecked(TvlCustomRadioGroupButton* AButton);
  // A button's focus came or went from outside the group.
  void ButtonFocusChanged() { FocusChanged(); }

 protected:
  void Initialize() override;
  void InternalSetEditValue(const Variant& AValue, Boolean AValidate) override;
  Boolean PaintsStoredValue() override;
  Boolean IsInternalControl(TControl* AControl) override;
  void ParentBackgroundChanged() override;
  Boolean IsContainerFocused() override;
  void Updated() override;
  void CursorChanged() override;
  void Resize() override;
  void SetButtonsPosition() override;
  win::HDC GetButtonDC(Integer AIndex) override;
  TWinControl* CreateButton() override;
  void UpdateButtonsStyle() override;

 private:
  void SetEditValueByIndex(const Variant& AValue, Boolean AForced);
  void SynchronizeButtons(Integer AIndex, Boolean AForced);
  void ApplyLoadedItemIndex();
  Boolean IsLoadingState();
  void CMDialogChar(TMessage& Message);

  Integer FLoadedItemIndex{-1};
  Boolean FSkinsPaintCopy{};

  friend class TvlCustomRadioGroupButton;
};

class TvlRadioGroup : public TvlCustomRadioGroup {
  CL_CLASS(TvlRadioGroup, TvlCustomRadioGroup)
 public:
  TvlCustomEditPropertiesClass GetPropertiesClass() const override { return ClassOf<TvlRadioGroupProperties>(); }
  TvlRadioGroupProperties* Properties() const {
    return static_cast<TvlRadioGroupProperties*>(TvlCustomEdit::Properties());
  }
  void SetProperties(TvlRadioGroupProperties* Value) { TvlCustomEdit::SetProperties(Value); }
};

// The filter builder edits a radio group's value in a fixed-list combo box
// of the item captions.
class TvlFilterRadioGroupHelper : public TvlFilterComboBoxHelper {
  CL_CLASS(TvlFilterRadioGroupHelper, TvlFilterComboBoxHelper)
 public:
  void GetFilterValue(TvlCustomEdit* AEdit, TvlCustomEditProperties* AEditProperties, Variant& V,
                      String& S) const override;
  TvlFilterControlOperators GetSupportedFilterOperators(TvlCustomEditProperties* AProperties,
                                                        TvlValueTypeClass AValueTypeClass,
                                                        Boolean AExtendedSet = false) const override;
  void InitializeProperties(TvlCustomEditProperties* AProperties, TvlCustomEditProperties* AEditProperties,
                            Boolean AHasButtons) const override;
  void SetFilterValue(TvlCustomEdit* AEdit, TvlCustomEditProperties* AEditProperties,
                      const Variant& AValue) const override;
  Boolean UseDisplayValue() const override { return true; }
};
