// The spin editor: a masked text editor for a number with buttons that step
// the value up and down, the arrow and page keys, the mouse wheel and a
// held button's repeat timer. Values are 64-bit integers or doubles (the
// value type), kept inside MinValue..MaxValue by clipping or wrapping
// around (Circular). A hook (OnGetValue) turns text that is not a number
// into a value.
//
// Stepping never overflows: the room between the value and each bound is
// worked out before the step is added, in a type wide enough for the whole
// 64-bit range. A circular step longer than the range lands inside the
// bounds (it wraps as many times as it needs).
//
// The view data places two or four buttons (the fast ones step by
// LargeIncrement) in one of three arrangements; the view info paints them
// with arrows in every look (vlSpinEditView.cpp).
#pragma once

#include "lib/editors/vlMaskEdit.h"

class TvlTimer;
class TWriter;
class TvlCustomSpinEditProperties;
class TvlCustomSpinEdit;

CL_ENUM(TvlSpinEditButton, Byte, sebBackward, sebForward, sebFastBackward, sebFastForward)
CL_ENUM(TvlSpinEditButtonsPosition, Byte, sbpHorzLeftRight, sbpHorzRight, sbpVert)
CL_ENUM(TvlSpinEditPressedState, Byte, epsNone, epsDown, epsUp, epsFastDown, epsFastUp)
CL_ENUM(TvlSpinEditValueType, Byte, vtInt, vtFloat)
CL_ENUM(TvlSpinBoundsMode, Byte, sbmNone, sbmClip, sbmWrap)

// The largest double the spin editor takes as a value.
constexpr Double vlSpinMaxFloatValue = 1.7E308;

using TvlSpinEditGetValueEvent =
    TDelegate<void(TObject* Sender, const String& AText, Variant& AValue, String& ErrorText, Boolean& Error)>;

// The arrangement and visibility of the spin buttons.
class TvlSpinEditButtons : public TPersistent {
  CL_CLASS(TvlSpinEditButtons, TPersistent)
 public:
  virtual void Create(TvlCustomSpinEditProperties* AOwner);
  void Assign(TPersistent* Source) override;
  TPersistent* GetOwner() override;

  TvlSpinEditButtonsPosition Position() const { return FPosition; }
  void SetPosition(TvlSpinEditButtonsPosition Value);
  Boolean ShowFastButtons() const { return FShowFastButtons; }
  void SetShowFastButtons(Boolean Value);
  Boolean Visible() const { return FVisible; }
  void SetVisible(Boolean Value);

 private:
  TvlCustomSpinEditProperties* FOwner{};
  TvlSpinEditButtonsPosition FPosition{};
  Boolean FShowFastButtons{};
  Boolean FVisible{};
};

// The text editor's assigned flags plus ValueType.
class TvlSpinEditPropertiesValues : public TvlTextEditPropertiesValues {
  CL_CLASS(TvlSpinEditPropertiesValues, TvlTextEditPropertiesValues)
 public:
  void Assign(TPersistent* Source) override;
  void RestoreDefaults() override;
  Boolean ValueType() const { return FValueType; }
  void SetValueType(Boolean Value);

 private:
  Boolean FValueType{};
};

class TvlCustomSpinEditProperties : public TvlCustomMaskEditProperties {
  CL_CLASS(TvlCustomSpinEditProperties, TvlCustomMaskEditProperties)
 public:
  void Create(TPersistent* AOwner) override;
  void Destroy() override;
  void Assign(TPersistent* Source) override;
  void DefineProperties(TFiler* Filer) override;
  TvlCustomEditPropertiesValuesClass AssignedFlagsClass() const override {
    return ClassOf<TvlSpinEditPropertiesValues>();
  }
  TvlCustomEditViewDataClass EditViewDataClass() const override;
  TvlCustomEditClass GetContainerClass() const override;
  TvlCustomEditViewInfoClass GetViewInfoClass() const override;
  Boolean IsEditValueValid(Variant& EditValue, Boolean AEditFocused) override;
  Boolean IsDisplayValueValid(Variant& DisplayValue, Boolean AEditFocused) override;
  void ValidateDisplayValue(Variant& ADisplayValue, String& AErrorText, Boolean& AError,
                            TvlCustomEdit* AEdit) override;
  Integer GetEditValueSource(Boolean AEditFocused) override;
  Variant GetEmptyDisplayValue() override;
  Boolean EditsNumbers() override { return true; }
  // The bounds are the spin validation's own (clipped or refused there).
  void CheckValueRange(Variant& ADisplayValue, String& AErrorText, TvlCustomEdit* AEdit, Boolean& AError) override {}

  // Introduced, in slot order.
  virtual Boolean ClipsToBounds() { return true; }
  virtual TvlSpinBoundsMode GetBoundsMode();
  virtual void GetMaxBound(Variant& AValue);
  virtual void GetMinBound(Variant& AValue);
  virtual Boolean ChecksDisplayValueRange() { return true; }
  virtual void NormalizeValue(const Variant& AValue, Variant& AResult);
  virtual Boolean KeepsSelectionOnSpin() { return false; }
  void PrepareDisplayValue(const Variant& AEditValue, Variant& DisplayValue, Boolean AEditFocused) override;

  // The signed step of a button; a bad button raises EnbException.
  Double GetIncrement(TvlSpinEditButton AButton);
  // AText as a value of the value type (locale decimal separator; doubles
  // within plus or minus 1.7E308); False when it is not a number.
  Boolean TryTextToValue(const String& AText, Variant& AValue);
  // AValue converted to the value type (integers: rounded half to even and
  // held to the 64-bit range).
  Variant ToValueType(const Variant& AValue);
  // A number below an active minimum becomes MinValue, above an active
  // maximum MaxValue; other values pass.
  Variant ClipValue(const Variant& AValue);
  // 0 clipped into the bounds, of the value type.
  Variant ClippedZero();
  // The text of a value of the value type.
  String ValueToText(const Variant& AValue);
  // Whether a number lies outside [GetMinBound, GetMaxBound].
  Boolean IsOutOfBounds(const Variant& AValue);
  // Called on the repository item's or own properties by the editor.
  void RunGetValue(TObject* Sender, const String& AText, Variant& AValue, String& ErrorText, Boolean& Error);

  TvlSpinEditPropertiesValues* AssignedValues() const {
    return static_cast<TvlSpinEditPropertiesValues*>(TvlCustomEditProperties::AssignedValues());
  }
  void SetAssignedValues(TvlSpinEditPropertiesValues* Value) { AssignedValues()->Assign(Value); }
  Boolean CanEdit() const { return FCanEdit; }
  void SetCanEdit(Boolean Value);
  Boolean Circular() const { return FCircular; }
  void SetCircular(Boolean Value);
  Boolean ExceptionOnInvalidInput() const { return FExceptionOnInvalidInput; }
  void SetExceptionOnInvalidInput(Boolean Value);
  Double Increment() const { return FIncrement; }
  void SetIncrement(Double Value);
  Double LargeIncrement() const { return FLargeIncrement; }
  void SetLargeIncrement(Double Value);
  TvlSpinEditButtons* SpinButtons() const { return FSpinButtons; }
  void SetSpinButtons(TvlSpinEditButtons* Value) { FSpinButtons->Assign(Value); }
  Boolean UseCtrlIncrement() const { return FUseCtrlIncrement; }
  void SetUseCtrlIncrement(Boolean Value);
  TvlSpinEditValueType ValueType();
  void SetValueType(TvlSpinEditValueType Value);
  const TvlSpinEditGetValueEvent& OnGetValue() const { return FOnGetValue; }
  void SetOnGetValue(const TvlSpinEditGetValueEvent& Value) { FOnGetValue = Value; }

  Boolean IsIncrementStored() { return FIncrement != 1.0; }
  Boolean IsLargeIncrementStored() { return FLargeIncrement != 10.0; }
  Boolean IsValueTypeStored() { return AssignedValues()->ValueType(); }

 protected:
  void FirePropertiesChanged() override;

 private:
  void ReadZeroIncrement(TReader* Reader);
  void ReadZeroLargeIncrement(TReader* Reader);
  void WriteZeroIncrement(TWriter* Writer);
  void WriteZeroLargeIncrement(TWriter* Writer);
  // The spin buttons in the buttons collection, as many as SpinButtons asks.
  void SyncButtonCount();

  Boolean FCanEdit{};
  Boolean FCircular{};
  Boolean FExceptionOnInvalidInput{};
  Double FIncrement{};
  Double FLargeIncrement{};
  TvlSpinEditButtons* FSpinButtons{};
  Boolean FUseCtrlIncrement{};
  TvlSpinEditValueType FValueType{};
  TvlSpinEditGetValueEvent FOnGetValue;
};

// The published spin editor properties.
class TvlSpinEditProperties : public TvlCustomSpinEditProperties {
  CL_CLASS(TvlSpinEditProperties, TvlCustomSpinEditProperties)
};

class TvlCustomSpinEdit : public TvlCustomMaskEdit {
  CL_CLASS(TvlCustomSpinEdit, TvlCustomMaskEdit)
 public:
  void Destroy() override;
  TvlCustomEditPropertiesClass GetPropertiesClass() const override {
    return ClassOf<TvlCustomSpinEditProperties>();
  }
  TvlCustomEditViewData* MakeViewData() override;

  // Introduced, in slot order.
  virtual Double GetRoundedIncrement(TvlSpinEditButton AButton);
  virtual Variant GetValue();
  virtual void GetDisplayTextForValue(const Variant& AValue, String& AText);
  virtual void SetValue(const Variant& AValue);
  // One step by AButton; True when the text changed.
  virtual Boolean Increment(TvlSpinEditButton AButton);

  void ClearSelection() override;
  void CutToClipboard() override;
  void PasteFromClipboard() override;
  // Raises EvlEditError on text that is not a number when ExceptionOnInvalidInput is on.
  void PrepareEditValue(const Variant& ADisplayValue, Variant& EditValue, Boolean AEditFocused) override;

  TvlCustomSpinEditProperties* ActiveProperties() {
    return static_cast<TvlCustomSpinEditProperties*>(TvlCustomEdit::ActiveProperties());
  }
  TvlCustomSpinEditProperties* Properties() const {
    return static_cast<TvlCustomSpinEditProperties*>(TvlCustomEdit::Properties());
  }
  void SetProperties(TvlCustomSpinEditProperties* Value) { TvlCustomEdit::SetProperties(Value); }
  Variant Value() { return GetValue(); }
  const Variant& InternalValue() const { return FInternalValue; }
  Boolean IsCustomText() const { return FIsCustomText; }
  TvlSpinEditPressedState PressedState() const { return FPressedState; }
  TvlTimer* Timer() const { return FTimer; }

 protected:
  void Initialize() override;
  Variant GetEditingValue() override { return GetValue(); }
  void DoEditKeyDown(Word& Key, TShiftState Shift) override;
  void DoEditKeyUp(Word& Key, TShiftState Shift) override;
  void DoEditKeyPress(Char& Key) override;
  Boolean IsCharAcceptable(Char AChar) override;
  Boolean DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void ButtonDown(Integer AButtonIndex) override;
  Boolean DoRefreshContainer(const TPoint& P, TvlMouseButton Button, TShiftState Shift,
                             Boolean AIsMouseEvent) override;
  void HandleFocusChange() override;
  void HandleInnerEditChange(TObject* Sender) override;
  void PropertiesChanged(TObject* Sender) override;
  void SynchronizeDisplayValue() override;
  void SynchronizeEditValue() override;
  void RangeCheckHook() override;

  // The text as a value (AStrict: raise as PrepareEditValue does); False
  // when it was not a number (AValue is then InternalValue).
  Boolean TextToEditValue(const String& AText, Boolean AStrict, Variant& AValue, String& AErrorText);
  // Lets a held spin key or button go.
  void ReleaseSpinState();
  void SetInternalValue(const Variant& AValue) { FInternalValue = AValue; }
  void SetIsCustomTextAction(Boolean Value) { FIsCustomTextAction = Value; }

 private:
  void TimerTick(TObject* Sender);
  void StartUserTextAction() { FIsCustomTextAction = true; }

  Variant FInternalValue;
  Boolean FIsCustomText{};
  Boolean FIsCustomTextAction{};
  TvlSpinEditPressedState FPressedState{};
  TvlTimer* FTimer{};
  Boolean FLenientPreparing{};

  friend class TvlCustomSpinEditProperties;
};

// The published spin editor.
class TvlSpinEdit : public TvlCustomSpinEdit {
  CL_CLASS(TvlSpinEdit, TvlCustomSpinEdit)
 public:
  TvlCustomEditPropertiesClass GetPropertiesClass() const override { return ClassOf<TvlSpinEditProperties>(); }
  TvlSpinEditProperties* Properties() const {
    return static_cast<TvlSpinEditProperties*>(TvlCustomEdit::Properties());
  }
  void SetProperties(TvlSpinEditProperties* Value) { TvlCustomEdit::SetProperties(Value); }
  TvlSpinEditProperties* ActiveProperties() {
    return static_cast<TvlSpinEditProperties*>(TvlCustomEdit::ActiveProperties());
  }
  // The published Value (stored when not 0).
  Variant PublishedValue() { return Value(); }
  void SetPublishedValue(Variant AValue) { SetValue(AValue); }
  Boolean IsValueStored();
};

// The spin editor as a filter value editor.
class TvlFilterSpinEditHelper : public TvlFilterMaskEditHelper {
  CL_CLASS(TvlFilterSpinEditHelper, TvlFilterMaskEditHelper)
 public:
  TvlCustomEditClass GetFilterEditClass() const override;
  TvlFilterControlOperators GetSupportedFilterOperators(TvlCustomEditProperties* AProperties,
                                                        TvlValueTypeClass AValueTypeClass,
                                                        Boolean AExtendedSet) const override;
  void InitializeProperties(TvlCustomEditProperties* AProperties, TvlCustomEditProperties* AEditProperties,
                            Boolean AHasButtons) const override;
};

// --- Layout and painting of the spin buttons ------------------------------------------------------------

class TvlSpinEditViewInfo : public TvlCustomTextEditViewInfo {
  CL_CLASS(TvlSpinEditViewInfo, TvlCustomTextEditViewInfo)
 public:
  void Assign(TObject* Source) override;
  void DoPaint(TvlCanvas* ACanvas) override;
  Integer GetHintPartAt(const TPoint& P) override;
  TRect GetHintPartBounds(Integer AIndex) override;
  void DrawHotFlatButtonBorder(TvlCanvas* ACanvas, TRect& ARect, Integer AIndex, TColor& ABrushColor,
                               TColor& APenColor) override;
  void DrawThemedButtonBorder(TvlCanvas* ACanvas, Integer AIndex, TRect& ABackgroundRect,
                              TRect& AContentRect) override;
  void DrawUltraFlatButtonBorder(TvlCanvas* ACanvas, TRect& ARect, Integer AIndex, TColor& ABrushColor) override;
  // The ultra-flat content of a hot or pressed button shrinks only where a line was drawn.
  void DrawButtonBorder(TvlCanvas* ACanvas, Integer AIndex, TRect& ABackgroundRect, TRect& AContentRect,
                        TColor& ABrushColor, TColor& APenColor) override;
  void DrawThemedButtonBackground(TvlCanvas* ACanvas, Integer AIndex, const TRect& ARect) override;
  void DrawButtonContent(TvlCanvas* ACanvas, Integer AIndex, Boolean AOffset, TColor ABrushColor,
                         TColor APenColor, const TRect& AContentRect) override;

  // The spin button (sebBackward..sebFastForward) a visible button is.
  TvlSpinEditButton SpinButtonOf(Integer AVisibleIndex) const;

  Integer ArrowSize{};
  TvlSpinEditButtonsPosition ButtonsPosition{};
  TPoint DelimiterLine[2]{};

 private:
  TRect FUltraFlatContent{};
};

class TvlSpinEditViewData : public TvlCustomTextEditViewData {
  CL_CLASS(TvlSpinEditViewData, TvlCustomTextEditViewData)
 public:
  void CalculateNativeButtonPart(TvlEditButtonViewInfo* AButtonViewInfo) override {}
  Boolean ButtonMayBePressed(TvlCustomEditViewInfo* AViewInfo, Integer AIndex) override;
  Boolean ButtonIsPressed(TvlCustomEditViewInfo* AViewInfo, Integer AIndex) override;
  void Calculate(TvlCanvas* ACanvas, const TRect& ABounds, const TPoint& P, TvlMouseButton Button, TShiftState Shift,
                 TvlCustomEditViewInfo* AViewInfo, Boolean AIsMouseEvent) override;
  void CalculateButtonBounds(TvlCanvas* ACanvas, TvlCustomEditViewInfo* AViewInfo, Integer AIndex,
                             TRect& AButtonsRect) override;
  void CalculateButtonViewInfo(TvlCanvas* ACanvas, TvlCustomEditViewInfo* AViewInfo, TRect& AButtonsRect,
                               Integer AIndex) override;
  void CheckButtonsOnly(TvlCustomEditViewInfo* AViewInfo, Integer APrevButtonsWidth, Integer AButtonsWidth) override;
  Boolean IgnoreButtonWhileStretching(Integer AIndex) override;

  TvlSpinEditPressedState PressedState{};

 private:
  TvlSpinEditButtonsPosition Position() const;
};
