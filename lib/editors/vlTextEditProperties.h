// The properties of every single-line text editor and of the editors derived
// from it: character case, echo mode and password character, maximum length,
// display and edit formats (numeric editors), lookup items and the range
// check. The object listens to the locale format controller, so a change of
// the regional settings re-notifies every editor that uses it.
#pragma once

#include "lib/editors/vlDateUtils.h"
#include "lib/editors/vlEditProperties.h"
#include "platform/vcl/Controls.h"
#include "platform/vcl/StdCtrls.h"

class TStringList;
class TStrings;
class TFiler;
class TReader;

CL_ENUM(TvlEditEchoMode, Byte, eemNormal, eemPassword)
CL_ENUM(TvlEditEditingStyle, Byte, esEdit, esEditList, esFixedList, esNoEdit)
CL_ENUM(TvlTextEditViewStyle, Byte, vsNormal, vsHideCursor, vsButtonsOnly, vsButtonsAutoWidth)
// The 256 8-bit characters.
using TvlTextEditChars = TSet<Byte, 32>;

using TvlNewLookupDisplayTextEvent = TDelegate<void(TObject* Sender, const String& AText)>;

class TvlCustomTextEditProperties;
class TvlCustomTextEditLookupData;
using TvlCustomTextEditLookupDataClass = TClassOf<TvlCustomTextEditLookupData>;

// Which of DisplayFormat, EditFormat and MaxLength are set on the owner,
// besides the flags of every editor.
class TvlTextEditPropertiesValues : public TvlCustomEditPropertiesValues {
  CL_CLASS(TvlTextEditPropertiesValues, TvlCustomEditPropertiesValues)
 public:
  void Assign(TPersistent* Source) override;
  void RestoreDefaults() override;

  Boolean DisplayFormat() const { return FDisplayFormat; }
  void SetDisplayFormat(Boolean Value);
  Boolean EditFormat() const { return FEditFormat; }
  void SetEditFormat(Boolean Value);
  Boolean MaxLength() const { return FMaxLength; }
  void SetMaxLength(Boolean Value);
  Boolean IsDisplayFormatStored();
  Boolean IsEditFormatStored();

 private:
  TvlCustomTextEditProperties* TextOwner() const;
  Boolean FDisplayFormat{};
  Boolean FEditFormat{};
  Boolean FMaxLength{};
};

class TvlCustomTextEditProperties : public TvlCustomEditProperties, public IvlFormatControllerListener {
  CL_CLASS(TvlCustomTextEditProperties, TvlCustomEditProperties)
 public:
  // Overrides.
  void DefineProperties(TFiler* Filer) override;
  void Assign(TPersistent* Source) override;
  void Create(TPersistent* AOwner) override;
  void Destroy() override;
  Boolean ValidationSupported() override { return true; }
  TvlCustomEditPropertiesValuesClass AssignedFlagsClass() const override {
    return ClassOf<TvlTextEditPropertiesValues>();
  }
  Integer FormatOptionFlags() const override { return vlEditFormatsDisplayValue; }
  // For error kind 1 "Value out of bounds", otherwise the editors' standard text.
  virtual String StandardErrorTextOf(Integer AErrorKind);
  TvlCustomEditViewDataClass EditViewDataClass() const override;
  Boolean ValueChangeReportedSeparately() const override { return true; }
  Boolean CanCompareEditValue() override { return true; }
  TvlCustomEditClass GetContainerClass() const override;
  TvlCustomEditViewInfoClass GetViewInfoClass() const override;
  Boolean CompareDisplayValues(const Variant& AEditValue1, const Variant& AEditValue2) override;
  String GetDisplayText(const Variant& AEditValue, Boolean AFullText = false, Boolean AIsInplace = true) override;
  TvlEditSupportedOperations GetSupportedOperations() override;
  Boolean IsEditValueValid(Variant& EditValue, Boolean AEditFocused) override;
  Boolean IsResetEditClass() override { return GetTextEditingStyle() != esNoEdit; }
  void PrepareDisplayValue(const Variant& AEditValue, Variant& DisplayValue, Boolean AEditFocused) override;
  void ValidateDisplayValue(Variant& ADisplayValue, String& AErrorText, Boolean& AError,
                            TvlCustomEdit* AEdit) override;
  Integer GetEditValueSource(Boolean AEditFocused) override { return 1; }  // evsText

  // Introduced.
  virtual void LocaleFormatsChanged();
  virtual void CheckValueRange(Variant& ADisplayValue, String& AErrorText, TvlCustomEdit* AEdit, Boolean& AError);
  virtual Variant GetEmptyDisplayValue() { return Variant(String()); }
  virtual Boolean FindLookupItem(const String& AText);
  virtual String GetBuiltInDisplayFormat() { return String(); }
  virtual Integer GetFallbackMaxLength();
  virtual Integer GetLookupPageSize() { return 8; }
  virtual TvlEditEditingStyle GetTextEditingStyle() { return FHideCursor ? esNoEdit : esEdit; }
  virtual TvlCustomTextEditLookupDataClass LookupDataClass() const;
  virtual Boolean GroupsDigitsWhileEditing(Boolean ASynchronizing) { return false; }
  // Outputs: AIsCurrency, ATakenByOnGetText; the answer is the format.
  virtual String ResolveEditFormat(Boolean& AIsCurrency, Boolean& ATakenByOnGetText, TvlCustomEdit* AEdit);
  virtual Boolean EditsNumbers() { return false; }
  virtual Boolean ShowsLookupList() { return false; }
  virtual Boolean LaysOutOwnLines() { return false; }
  virtual Boolean ForwardsKeyToList(Word Key, TShiftState Shift) { return false; }
  // 0 the minimum, 1 the maximum.
  virtual Boolean HasBound(Integer ASide);
  virtual Boolean HasRangeCheck() { return HasBound(0) || HasBound(1); }
  virtual void NotifySettingChanged() { Changed(); }
  virtual void MaxLengthChanged() { Changed(); }
  virtual void SetCharCase(TEditCharCase Value);
  virtual Boolean UsesLookupData() { return bool(LookupDataClass()); }
  virtual String DisplayValueToDisplayText(const String& AText);
  virtual Boolean IsDisplayValueValid(Variant& DisplayValue, Boolean AEditFocused);

  // The display value of an edit value: prepared when valid, else its text.
  Variant MakeDisplayValue(const Variant& AEditValue, Boolean AEditFocused);

  // IvlFormatControllerListener
  void FormatChanged() override { LocaleFormatsChanged(); }

  // Properties.
  TvlTextEditPropertiesValues* AssignedValues() const {
    return static_cast<TvlTextEditPropertiesValues*>(TvlCustomEditProperties::AssignedValues());
  }
  void SetAssignedValues(TvlTextEditPropertiesValues* Value) { AssignedValues()->Assign(Value); }
  const TvlTextEditChars& ValidChars() const { return FValidChars; }
  void SetValidChars(const TvlTextEditChars& Value) { FValidChars = Value; }
  TEditCharCase CharCase() const { return FCharCase; }
  String DisplayFormat();
  void SetDisplayFormat(const String& Value);
  TvlEditEchoMode EchoMode() const { return FEchoMode; }
  void SetEchoMode(TvlEditEchoMode Value);
  String EditFormat();
  void SetEditFormat(const String& Value);
  Boolean FixedListSelection() const { return FFixedListSelection; }
  void SetFixedListSelection(Boolean Value);
  Boolean FormatChanging() const { return FFormatChanging; }
  Boolean HideCursor() const { return FHideCursor; }
  void SetHideCursor(Boolean Value);
  Boolean HideSelection() const { return FHideSelection; }
  void SetHideSelection(Boolean Value);
  TImeMode ImeMode() const { return FImeMode; }
  void SetImeMode(TImeMode Value);
  const TImeName& ImeName() const { return FImeName; }
  void SetImeName(const TImeName& Value);
  Boolean ImmediateUpdateText() const { return FImmediateUpdateText; }
  void SetImmediateUpdateText(Boolean Value) { FImmediateUpdateText = Value; }
  Boolean IncrementalSearch() const { return FIncrementalSearch; }
  void SetIncrementalSearch(Boolean Value);
  TStringList* LookupItems() const { return FLookupItems; }
  void SetLookupItems(TStrings* Value);
  Boolean LookupItemsSorted() const;
  void SetLookupItemsSorted(Boolean Value);
  Integer MaxLength();
  void SetMaxLength(Integer Value);
  Boolean MRUMode() const { return FMRUMode; }
  void SetMRUMode(Boolean Value);
  Boolean OEMConvert() const { return FOEMConvert; }
  void SetOEMConvert(Boolean Value);
  Char PasswordChar() const { return FPasswordChar; }
  void SetPasswordChar(Char Value);
  Boolean UseDisplayFormatWhenEditing() const { return FUseDisplayFormatWhenEditing; }
  void SetUseDisplayFormatWhenEditing(Boolean Value);
  TvlTextEditViewStyle ViewStyle();
  void SetViewStyle(TvlTextEditViewStyle Value);
  const TvlNewLookupDisplayTextEvent& OnNewLookupDisplayText() const { return FOnNewLookupDisplayText; }
  void SetOnNewLookupDisplayText(const TvlNewLookupDisplayTextEvent& Value) { FOnNewLookupDisplayText = Value; }

  Boolean IsDisplayFormatStored() { return AssignedValues()->DisplayFormat(); }
  Boolean IsEditFormatStored() { return AssignedValues()->EditFormat(); }
  Boolean IsMaxLengthStored() { return AssignedValues()->MaxLength(); }
  // The own texts, whatever the flags say.
  const String& OwnDisplayFormat() const { return FDisplayFormat; }
  const String& OwnEditFormat() const { return FEditFormat; }

 protected:
  void HandleAlignmentChange(TObject* Sender) override;

 private:
  void ReadIsDisplayFormatAssigned(TReader* Reader);
  void LookupItemsChanged(TObject* Sender) { Changed(); }
  String FormatNumber(const Variant& AValue, Boolean AEditFocused);

  TEditCharCase FCharCase{};
  String FDisplayFormat;
  TvlEditEchoMode FEchoMode{};
  String FEditFormat;
  Boolean FFixedListSelection{};
  Boolean FFormatChanging{};
  Boolean FHideCursor{};
  Boolean FHideSelection{};
  TImeMode FImeMode{};
  TImeName FImeName;
  Boolean FImmediateUpdateText{};
  Boolean FIncrementalSearch{};
  TStringList* FLookupItems{};
  Integer FMaxLength{};
  Boolean FMRUMode{};
  Boolean FOEMConvert{};
  Char FPasswordChar{};
  Boolean FUseDisplayFormatWhenEditing{};
  TvlTextEditChars FValidChars{};
  TvlNewLookupDisplayTextEvent FOnNewLookupDisplayText;
  Boolean FListening{};
};
using TvlCustomTextEditPropertiesClass = TClassOf<TvlCustomTextEditProperties>;

// The published form of the text editor's properties.
class TvlTextEditProperties : public TvlCustomTextEditProperties {
  CL_CLASS(TvlTextEditProperties, TvlCustomTextEditProperties)
};

// Removes every locale thousand separator.
String vlRemoveThousandSeparators(const String& AText);
// Groups the integer digits by three with the locale thousand separator,
// keeping blanks around the number and an exponent part.
String vlInsertThousandSeparators(const String& AText);
