// The calculator editor: a popup editor for a floating-point number whose
// drop-down is a calculator. The editor's own text field is the
// calculator's display: every calculator button writes its result into the
// editor (one locked change per click), Enter or "=" with QuickClose closes
// the popup with the result in place. The calculator's memory is kept while
// the editor lives, across openings.
#pragma once

#include "lib/editors/vlCalc.h"
#include "lib/editors/vlPopupEdit.h"

class TvlCustomCalcEdit;

// Which of the calculator editor's values are set on the owner: Precision besides the text editor's.
class TvlCalcEditPropertiesValues : public TvlTextEditPropertiesValues {
  CL_CLASS(TvlCalcEditPropertiesValues, TvlTextEditPropertiesValues)
 public:
  void Assign(TPersistent* Source) override;
  void RestoreDefaults() override;
  Boolean Precision() const { return FPrecision; }
  void SetPrecision(Boolean Value);

 private:
  Boolean FPrecision{};
};

class TvlCustomCalcEditProperties : public TvlCustomPopupEditProperties {
  CL_CLASS(TvlCustomCalcEditProperties, TvlCustomPopupEditProperties)
 public:
  void Create(TPersistent* AOwner) override;
  void Assign(TPersistent* Source) override;
  TvlCustomEditClass GetContainerClass() const override;
  TvlCustomEditPropertiesValuesClass AssignedFlagsClass() const override {
    return ClassOf<TvlCalcEditPropertiesValues>();
  }
  Boolean EditsNumbers() override { return true; }
  Boolean GroupsDigitsWhileEditing(Boolean ASynchronizing) override {
    return FUseThousandSeparator && !FScientificFormat;
  }
  Boolean PostValueAfterPopupClosed() override { return true; }
  Boolean PopupWindowCanShrink() override { return false; }
  void PrepareDisplayValue(const Variant& AEditValue, Variant& DisplayValue, Boolean AEditFocused) override;
  Boolean IsDisplayValueValid(Variant& DisplayValue, Boolean AEditFocused) override { return true; }
  Boolean IsEditValueValid(Variant& EditValue, Boolean AEditFocused) override;
  void ValidateDisplayValue(Variant& ADisplayValue, String& AErrorText, Boolean& AError,
                            TvlCustomEdit* AEdit) override;
  Integer GetEditValueSource(Boolean AEditFocused) override;
  // The text typed so far is a number the calculator can hold (thousand
  // separators ignored): 0, or a magnitude from 5E-324 to 1.7E308.
  Boolean IsNumberText(const String& AText);

  TvlCalcEditPropertiesValues* AssignedValues() const {
    return static_cast<TvlCalcEditPropertiesValues*>(TvlCustomEditProperties::AssignedValues());
  }
  // The assigned value, else the data's default precision, else 15; never above 15.
  Byte Precision();
  void SetPrecision(Byte Value);
  Boolean IsPrecisionStored() { return AssignedValues()->Precision(); }
  Boolean QuickClose() const { return FQuickClose; }
  void SetQuickClose(Boolean Value);
  Boolean ScientificFormat() const { return FScientificFormat; }
  void SetScientificFormat(Boolean Value);
  Boolean UseThousandSeparator() const { return FUseThousandSeparator; }
  void SetUseThousandSeparator(Boolean Value);

 private:
  Byte FPrecision{};
  Boolean FQuickClose{};
  Boolean FScientificFormat{};
  Boolean FUseThousandSeparator{};
};

class TvlCalcEditProperties : public TvlCustomCalcEditProperties {
  CL_CLASS(TvlCalcEditProperties, TvlCustomCalcEditProperties)
};

// The calculator in the editor's popup: its display is the editor's text.
class TvlPopupCalculator : public TvlCustomCalculator {
  CL_CLASS(TvlPopupCalculator, TvlCustomCalculator)
 public:
  void Create(TComponent* AOwner) override;
  virtual void Init() { ReleasePressed(); }
  // Takes the editor's font and lays the buttons out for it; the memory stays.
  void FitToFont(TFont* AFont);
  TvlCustomCalcEdit* Edit() const { return FEdit; }
  void SetEdit(TvlCustomCalcEdit* Value) { FEdit = Value; }

 protected:
  TvlCustomLookAndFeelPainterClass GetCalcPainter() override;
  void GetDisplayText(String& Text) override;
  void SetDisplayText(const String& Text) override;
  void LockDisplayChanges(Boolean ALock, Boolean AInvokeChangedOnUnlock) override;
  // A layout keeps the memory: the popup is sized again at every opening.
  void BoundsChanged() override;
  void FontChanged() override;
  // After the calculator's own handling: the keys that close the popup,
  // Tab for the editor, Shift+Insert and Ctrl+Insert.
  void KeyDown(Word& Key, TShiftState Shift) override;
  void KeyPress(Char& Key) override;

 private:
  TvlCustomCalcEdit* FEdit{};
};

class TvlCustomCalcEdit : public TvlCustomPopupEdit {
  CL_CLASS(TvlCustomCalcEdit, TvlCustomPopupEdit)
 public:
  void Destroy() override;
  TvlCustomEditPropertiesClass GetPropertiesClass() const override {
    return ClassOf<TvlCustomCalcEditProperties>();
  }
  Boolean CanDropDown() override;
  void InitializePopup() override;
  void PasteFromClipboard() override;
  void PrepareEditValue(const Variant& ADisplayValue, Variant& EditValue, Boolean AEditFocused) override;

  TvlPopupCalculator* Calculator() const { return FCalculator; }
  // 0 for an empty or Null value.
  Extended Value();
  void SetValue(Extended AValue);

  TvlCustomCalcEditProperties* ActiveProperties() {
    return static_cast<TvlCustomCalcEditProperties*>(TvlCustomEdit::ActiveProperties());
  }
  TvlCustomCalcEditProperties* Properties() const {
    return static_cast<TvlCustomCalcEditProperties*>(TvlCustomEdit::Properties());
  }
  void SetProperties(TvlCustomCalcEditProperties* Value) { TvlCustomEdit::SetProperties(Value); }

 protected:
  void Initialize() override;
  void PropertiesChanged(TObject* Sender) override;
  Variant CurrentEditingValue() override;
  void DoEditKeyPress(Char& Key) override;
  void DoEnter() override;
  void DoExit() override;
  void LocaleFormatsChanged() override;
  void PopupWindowShowed(TObject* Sender) override;
  void PopupWindowClosed(TObject* Sender) override;

 private:
  void CalculatorHidePopup(TvlControl* Sender, TvlEditCloseUpReason AReason);
  // The calculator's display.
  void WriteCalculatorText(const String& AText);
  void CalculatorKeyDown(Word& Key, TShiftState Shift) { KeyDown(Key, Shift); }

  TvlPopupCalculator* FCalculator{};
  friend class TvlPopupCalculator;
};

class TvlCalcEdit : public TvlCustomCalcEdit {
  CL_CLASS(TvlCalcEdit, TvlCustomCalcEdit)
 public:
  TvlCustomEditPropertiesClass GetPropertiesClass() const override { return ClassOf<TvlCalcEditProperties>(); }
  TvlCalcEditProperties* Properties() const {
    return static_cast<TvlCalcEditProperties*>(TvlCustomEdit::Properties());
  }
  void SetProperties(TvlCalcEditProperties* Value) { TvlCustomEdit::SetProperties(Value); }
  Double ValueProp() { return Double(Value()); }
  void SetValueProp(Double AValue) { SetValue(AValue); }
};

class TvlFilterCalcEditHelper : public TvlFilterDropDownEditHelper {
  CL_CLASS(TvlFilterCalcEditHelper, TvlFilterDropDownEditHelper)
 public:
  TvlCustomEditClass GetFilterEditClass() const override;
  TvlFilterControlOperators GetSupportedFilterOperators(TvlCustomEditProperties* AProperties,
                                                        TvlValueTypeClass AValueTypeClass,
                                                        Boolean AExtendedSet = false) const override;
  void InitializeProperties(TvlCustomEditProperties* AProperties, TvlCustomEditProperties* AEditProperties,
                            Boolean AHasButtons) const override;
};
