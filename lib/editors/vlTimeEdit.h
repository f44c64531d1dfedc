// The time editor: a spin editor whose text is a time of day through a fixed
// standard mask (hours, minutes and seconds, or fewer; 24-hour, or 12-hour
// with the locale's AM/PM designators). The buttons, arrow keys and wheel
// step the part under the caret; typed digits are corrected so that every
// part stays a valid number; the edit value is a date-time whose date part
// (SavedDate) stays that of the value the editor was given.
//
// Text that does not read as a time is never replaced by midnight or the
// current time: it is shown as it stands and refused by validation with
// "Could not convert to time"; the edit value keeps its last good time.
#pragma once

#include "lib/editors/vlSpinEdit.h"

CL_ENUM(TvlTimeEditTimeFormat, Byte, tfHourMinSec, tfHourMin, tfHour)
CL_ENUM(TvlTimePart, Byte, tpHour, tpMinute, tpSecond, tpAmPm)

// The part of the time at a text position.
struct TvlTimePartInfo {
  TvlTimePart Kind{};
  Integer Start{};  // 1-based
  Integer Length{};
  String AmString;
  String PmString;
  Boolean Use24HourFormat{};
};

// The display formats and masks per time format: 12-hour display format,
// 12-hour mask, 24-hour display format, 24-hour mask.
const String& vlTimeEditFormat(TvlTimeEditTimeFormat AFormat, Integer AColumn);
// Rebuilds the 12-hour masks from the locale's designators.
void vlRebuildTimeEditMasks();

// The standard mode with the time editor's blanks.
class TvlTimeEditMaskMode : public TvlMaskEditStandardMode {
  CL_CLASS(TvlTimeEditMaskMode, TvlMaskEditStandardMode)
 public:
  Char GetBlank() override { return u'0'; }
  // The designator has no blank: only typing and stepping change it.
  Char GetBlankAt(Integer APos) override;
};

class TvlCustomTimeEditProperties : public TvlCustomSpinEditProperties {
  CL_CLASS(TvlCustomTimeEditProperties, TvlCustomSpinEditProperties)
 public:
  void Create(TPersistent* AOwner) override;
  void Assign(TPersistent* Source) override;
  Integer FormatOptionFlags() const override { return 3; }
  TvlCustomEditClass GetContainerClass() const override;
  TvlMaskEditModeClass GetModeClass(TvlEditMaskKind AMaskKind) const override;
  Boolean ClipsToBounds() override { return false; }
  Boolean ChecksDisplayValueRange() override { return false; }
  Boolean EditsNumbers() override { return false; }
  void NormalizeValue(const Variant& AValue, Variant& AResult) override { AResult = Variant(0); }
  Boolean KeepsSelectionOnSpin() override { return true; }
  void PrepareDisplayValue(const Variant& AEditValue, Variant& DisplayValue, Boolean AEditFocused) override;
  Variant GetEmptyDisplayValue() override;
  Boolean IsDisplayValueValid(Variant& DisplayValue, Boolean AEditFocused) override;
  Boolean IsEditValueValid(Variant& EditValue, Boolean AEditFocused) override;
  void ValidateDisplayValue(Variant& ADisplayValue, String& AErrorText, Boolean& AError,
                            TvlCustomEdit* AEdit) override;
  void LocaleFormatsChanged() override;

  // Introduced, in slot order.
  virtual void GetTimePartInfo(Integer APos, TvlTimePartInfo& AInfo);
  virtual Integer GetTimePartLength(TvlTimePart APart) { return 2; }
  virtual Integer GetTimePartStart(TvlTimePart APart);
  virtual void GetAmPmStyle(String& AAm, String& APm);

  // The display format of the current time format.
  const String& TimeDisplayFormat() const;
  // The length of the digits' part of the text (8, 5 or 2).
  Integer DigitsLength() const { return 8 - 3 * Integer(FTimeFormat); }

  Boolean AutoCorrectHours() const { return FAutoCorrectHours; }
  void SetAutoCorrectHours(Boolean Value) { FAutoCorrectHours = Value; }
  Boolean ShowDate() const { return FShowDate; }
  void SetShowDate(Boolean Value);
  TvlTimeEditTimeFormat TimeFormat() const { return FTimeFormat; }
  void SetTimeFormat(TvlTimeEditTimeFormat Value);
  Boolean Use24HourFormat() const { return FUse24HourFormat; }
  void SetUse24HourFormat(Boolean Value);
  Boolean UseTimeFormatWhenUnfocused() const { return FUseTimeFormatWhenUnfocused; }
  void SetUseTimeFormatWhenUnfocused(Boolean Value);

 private:
  void ApplyEditMask();
  // The text as a date-time (a time alone, or a date and time).
  Boolean TryTextToDateTime(const String& AText, TDateTime& AValue);

  Boolean FAutoCorrectHours{};
  Boolean FShowDate{};
  TvlTimeEditTimeFormat FTimeFormat{};
  Boolean FUse24HourFormat{};
  Boolean FUseTimeFormatWhenUnfocused{};
};

class TvlTimeEditProperties : public TvlCustomTimeEditProperties {
  CL_CLASS(TvlTimeEditProperties, TvlCustomTimeEditProperties)
};

class TvlCustomTimeEdit : public TvlCustomSpinEdit {
  CL_CLASS(TvlCustomTimeEdit, TvlCustomSpinEdit)
 public:
  TvlCustomEditPropertiesClass GetPropertiesClass() const override {
    return ClassOf<TvlCustomTimeEditProperties>();
  }
  TvlCustomTimeEditProperties* ActiveProperties() {
    return static_cast<TvlCustomTimeEditProperties*>(TvlCustomEdit::ActiveProperties());
  }
  TvlCustomTimeEditProperties* Properties() const {
    return static_cast<TvlCustomTimeEditProperties*>(TvlCustomEdit::Properties());
  }

  Double GetRoundedIncrement(TvlSpinEditButton AButton) override;
  Variant GetValue() override;
  void GetDisplayTextForValue(const Variant& AValue, String& AText) override;
  void SetValue(const Variant& AValue) override;
  Boolean Increment(TvlSpinEditButton AButton) override;
  void PrepareEditValue(const Variant& ADisplayValue, Variant& EditValue, Boolean AEditFocused) override;
  void Clear() override { SetTime(0); }
  Boolean CanTypeChar(Integer APos, Char& AChar) override;

  TDateTime Time();
  void SetTime(TDateTime Value);
  TDateTime SavedDate() const { return FSavedDate; }

 protected:
  Variant GetEditingValue() override;
  void Initialize() override;
  void PropertiesChanged(TObject* Sender) override;
  Boolean IsCharAcceptable(Char AChar) override { return true; }
  void InternalSetEditValue(const Variant& AValue, Boolean AValidate) override;

 private:
  // The part of the time under the caret.
  TvlTimePart CaretPart();
  // Shows AText typed by the user with the mask's cursor at ACaret.
  void ShowTypedText(const String& AText, Integer ACaret);

  TDateTime FSavedDate{};
  TvlTimePart FSpinPart{};
};

class TvlTimeEdit : public TvlCustomTimeEdit {
  CL_CLASS(TvlTimeEdit, TvlCustomTimeEdit)
 public:
  TvlCustomEditPropertiesClass GetPropertiesClass() const override { return ClassOf<TvlTimeEditProperties>(); }
  TvlTimeEditProperties* Properties() const {
    return static_cast<TvlTimeEditProperties*>(TvlCustomEdit::Properties());
  }
  void SetProperties(TvlTimeEditProperties* Value) { TvlCustomEdit::SetProperties(Value); }
  Variant PublishedEditValue() { return EditValue(); }
  void SetPublishedEditValue(Variant Value) { SetEditValue(Value); }
  TDateTime PublishedTime() { return Time(); }
  void SetPublishedTime(TDateTime Value) { SetTime(Value); }
};

// The time editor as a filter value editor.
class TvlFilterTimeEditHelper : public TvlFilterSpinEditHelper {
  CL_CLASS(TvlFilterTimeEditHelper, TvlFilterSpinEditHelper)
 public:
  TvlCustomEditClass GetFilterEditClass() const override;
  void InitializeFilterEdit(TvlCustomEdit* AEdit, TvlCustomEditProperties* AEditProperties) const override;
};
