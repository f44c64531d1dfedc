#include "lib/editors/vlTextEditProperties.h"

#include "lib/editors/vlEdit.h"
#include "lib/editors/vlEditConsts.h"
#include "lib/editors/vlTextEdit.h"
#include "lib/editors/vlTextEditViewInfo.h"
#include "lib/foundation/vlVariants.h"
#include "platform/classes/Filer.h"
#include "platform/classes/StringLists.h"
#include "platform/classes/TypInfoBuild.h"
#include "platform/rtl/Conversions.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/FMTBcd.h"
#include "platform/rtl/Finally.h"
#include "platform/rtl/Locale.h"
#include "platform/rtl/Strings.h"

namespace {

Boolean IsSpace(Char C) { return C == u' '; }

// The text of a value as a number in general notation with P digits when it parses as BCD.
String GeneralText(const Variant& AValue, Integer APrecision) {
  String s = VarToStr(AValue);
  TBcd bcd;
  if (TryStrToBcd(s, bcd)) s = BcdToStrF(bcd, TFloatFormat::ffGeneral, APrecision, 0);
  return s;
}

}  // namespace

// --- Thousand separators ----------------------------------------------------------------------------

String vlRemoveThousandSeparators(const String& AText) {
  const Char sep = FormatSettings().ThousandSeparator;
  if (!sep) return AText;
  String r;
  r.reserve(AText.size());
  for (Char c : AText)
    if (c != sep) r.push_back(c);
  return r;
}

String vlInsertThousandSeparators(const String& AText) {
  const Char sep = FormatSettings().ThousandSeparator;
  const Char dec = FormatSettings().DecimalSeparator;
  size_t b = 0, e = AText.size();
  while (b < e && IsSpace(AText[b])) ++b;
  while (e > b && IsSpace(AText[e - 1])) --e;
  const String lead = AText.substr(0, b), trail = AText.substr(e);
  String number = AText.substr(b, e - b), exponent;
  for (size_t i = 0; i < number.size(); ++i)
    if (number[i] == u'E' || number[i] == u'e') {
      exponent = number.substr(i);
      number.resize(i);
      break;
    }
  number = vlRemoveThousandSeparators(number);
  if (sep) {
    size_t pos = dec ? number.find(dec) : String::npos;
    if (pos == String::npos) pos = number.size();
    Integer digits = 0;
    while (pos > 0 && number[pos - 1] >= u'0' && number[pos - 1] <= u'9') {
      --pos;
      if (++digits % 3 == 0 && pos > 0 && number[pos - 1] >= u'0' && number[pos - 1] <= u'9')
        number.insert(pos, 1, sep);
    }
  }
  return lead + number + exponent + trail;
}

// --- TvlTextEditPropertiesValues ---------------------------------------------------------------------

CL_IMPLEMENT_CLASS_PUBLISHED(TvlTextEditPropertiesValues, P) {
  P.Property(u"DisplayFormat", &TvlTextEditPropertiesValues::DisplayFormat,
             &TvlTextEditPropertiesValues::SetDisplayFormat)
      .Stored(&TvlTextEditPropertiesValues::IsDisplayFormatStored);
  P.Property(u"EditFormat", &TvlTextEditPropertiesValues::EditFormat, &TvlTextEditPropertiesValues::SetEditFormat)
      .Stored(&TvlTextEditPropertiesValues::IsEditFormatStored);
  P.Property(u"MaxLength", &TvlTextEditPropertiesValues::MaxLength, &TvlTextEditPropertiesValues::SetMaxLength)
      .Default(false);
  P.Property(u"MaxValue", &TvlTextEditPropertiesValues::MaxValue, &TvlTextEditPropertiesValues::SetMaxValue)
      .Stored(&TvlTextEditPropertiesValues::IsMaxValueStored);
  P.Property(u"MinValue", &TvlTextEditPropertiesValues::MinValue, &TvlTextEditPropertiesValues::SetMinValue)
      .Stored(&TvlTextEditPropertiesValues::IsMinValueStored);
}

TvlCustomTextEditProperties* TvlTextEditPropertiesValues::TextOwner() const {
  return dynamic_cast<TvlCustomTextEditProperties*>(Properties());
}

void TvlTextEditPropertiesValues::Assign(TPersistent* Source) {
  TvlTextEditPropertiesValues* src = dynamic_cast<TvlTextEditPropertiesValues*>(Source);
  BeginUpdate();
  Finally done([&] { EndUpdate(); });
  inherited::Assign(Source);
  if (!src) return;
  SetDisplayFormat(src->FDisplayFormat);
  SetEditFormat(src->FEditFormat);
  SetMaxLength(src->FMaxLength);
}

void TvlTextEditPropertiesValues::RestoreDefaults() {
  BeginUpdate();
  Finally done([&] { EndUpdate(); });
  inherited::RestoreDefaults();
  SetDisplayFormat(false);
  SetEditFormat(false);
  SetMaxLength(false);
}

void TvlTextEditPropertiesValues::SetDisplayFormat(Boolean Value) {
  if (FDisplayFormat == Value) return;
  FDisplayFormat = Value;
  if (Properties()) Properties()->Changed();
}

void TvlTextEditPropertiesValues::SetEditFormat(Boolean Value) {
  if (FEditFormat == Value) return;
  FEditFormat = Value;
  if (Properties()) Properties()->Changed();
}

void TvlTextEditPropertiesValues::SetMaxLength(Boolean Value) {
  if (FMaxLength == Value) return;
  FMaxLength = Value;
  if (TvlCustomTextEditProperties* owner = TextOwner()) owner->MaxLengthChanged();
}

// An explicitly empty format is kept by its flag, when the owner publishes the format.
Boolean TvlTextEditPropertiesValues::IsDisplayFormatStored() {
  TvlCustomTextEditProperties* owner = TextOwner();
  return FDisplayFormat && owner && owner->OwnDisplayFormat().empty() && GetPropInfo(owner, u"DisplayFormat");
}

Boolean TvlTextEditPropertiesValues::IsEditFormatStored() {
  TvlCustomTextEditProperties* owner = TextOwner();
  return FEditFormat && owner && owner->OwnEditFormat().empty() && GetPropInfo(owner, u"EditFormat");
}

// --- TvlCustomTextEditProperties: life ---------------------------------------------------------------

CL_IMPLEMENT_CLASS(TvlCustomTextEditProperties)

void TvlCustomTextEditProperties::Create(TPersistent* AOwner) {
  inherited::Create(AOwner);
  FCharCase = ecNormal;
  FEchoMode = eemNormal;
  FFixedListSelection = true;
  FHideSelection = true;
  FImeMode = imDontCare;
  FIncrementalSearch = true;
  FLookupItems = New<TStringList>();
  FLookupItems->SetDuplicates(dupAccept);
  FLookupItems->SetOnChange(TNotifyEvent(this, &TvlCustomTextEditProperties::LookupItemsChanged));
  vlFormatController()->AddListener(this);
  FListening = true;
}

void TvlCustomTextEditProperties::Destroy() {
  if (FListening)
    if (TvlFormatController* c = vlExistingFormatController()) c->RemoveListener(this);
  FListening = false;
  if (FLookupItems) FLookupItems->SetOnChange(TNotifyEvent());
  FreeAndNil(FLookupItems);
  inherited::Destroy();
}

void TvlCustomTextEditProperties::ReadIsDisplayFormatAssigned(TReader* Reader) {
  AssignedValues()->SetDisplayFormat(Reader->ReadBoolean());
}

void TvlCustomTextEditProperties::DefineProperties(TFiler* Filer) {
  inherited::DefineProperties(Filer);
  Filer->DefineProperty(u"IsDisplayFormatAssigned",
                        TReaderProc(this, &TvlCustomTextEditProperties::ReadIsDisplayFormatAssigned), TWriterProc(),
                        false);
}

void TvlCustomTextEditProperties::Assign(TPersistent* Source) {
  TvlCustomTextEditProperties* src = dynamic_cast<TvlCustomTextEditProperties*>(Source);
  if (!src) {
    inherited::Assign(Source);
    return;
  }
  BeginUpdate();
  Finally done([&] { EndUpdate(true); });
  inherited::Assign(Source);
  SetCharCase(src->CharCase());
  SetEchoMode(src->EchoMode());
  SetFixedListSelection(src->FixedListSelection());
  SetHideCursor(src->HideCursor());
  SetHideSelection(src->HideSelection());
  FImmediateUpdateText = src->FImmediateUpdateText;
  SetIncrementalSearch(src->IncrementalSearch());
  SetMRUMode(src->MRUMode());
  FValidChars = src->FValidChars;
  SetLookupItemsSorted(false);
  FLookupItems->Assign(src->LookupItems());
  SetLookupItemsSorted(src->LookupItemsSorted());
  AssignedValues()->SetDisplayFormat(false);
  if (src->AssignedValues()->DisplayFormat()) SetDisplayFormat(src->FDisplayFormat);
  AssignedValues()->SetEditFormat(false);
  if (src->AssignedValues()->EditFormat()) SetEditFormat(src->FEditFormat);
  AssignedValues()->SetMaxLength(false);
  if (src->AssignedValues()->MaxLength()) SetMaxLength(src->FMaxLength);
  SetOEMConvert(src->OEMConvert());
  SetImeMode(src->ImeMode());
  SetImeName(src->ImeName());
  SetPasswordChar(src->PasswordChar());
  SetUseDisplayFormatWhenEditing(src->UseDisplayFormatWhenEditing());
  FOnNewLookupDisplayText = src->FOnNewLookupDisplayText;
}

void TvlCustomTextEditProperties::HandleAlignmentChange(TObject* Sender) {
  BeginUpdate();
  Finally done([&] { EndUpdate(true); });
  inherited::HandleAlignmentChange(Sender);
}

void TvlCustomTextEditProperties::LocaleFormatsChanged() {
  FFormatChanging = true;
  Finally done([&] { FFormatChanging = false; });
  Changed();
}

// --- Classes --------------------------------------------------------------------------------------------

TvlCustomEditViewDataClass TvlCustomTextEditProperties::EditViewDataClass() const {
  return ClassOf<TvlCustomTextEditViewData>();
}
TvlCustomEditClass TvlCustomTextEditProperties::GetContainerClass() const { return ClassOf<TvlTextEdit>(); }
TvlCustomEditViewInfoClass TvlCustomTextEditProperties::GetViewInfoClass() const {
  return ClassOf<TvlCustomTextEditViewInfo>();
}
TvlCustomTextEditLookupDataClass TvlCustomTextEditProperties::LookupDataClass() const {
  return ClassOf<TvlCustomTextEditLookupData>();
}

String TvlCustomTextEditProperties::StandardErrorTextOf(Integer AErrorKind) {
  if (AErrorKind == 1) return vlGetResourceStringText(vlSEditValueOutOfBounds);
  return StandardErrorText();
}

TvlEditSupportedOperations TvlCustomTextEditProperties::GetSupportedOperations() {
  TvlEditSupportedOperations r = inherited::GetSupportedOperations();
  for (TvlEditSupportedOperation o : {esoAutoHeight, esoEditing, esoFiltering, esoHorzAlignment, esoIncSearch, esoSorting})
    r.Include(o);
  return r;
}

// --- Accessors ------------------------------------------------------------------------------------------

String TvlCustomTextEditProperties::DisplayFormat() {
  if (AssignedValues()->DisplayFormat()) return FDisplayFormat;
  if (IDefaultValuesProvider()) {
    String s = IDefaultValuesProvider()->DefaultDisplayFormat();
    if (!s.empty()) return s;
  }
  return GetBuiltInDisplayFormat();
}

void TvlCustomTextEditProperties::SetDisplayFormat(const String& Value) {
  if (AssignedValues()->DisplayFormat() && FDisplayFormat == Value) return;
  FDisplayFormat = Value;
  {
    BeginUpdate();
    Finally done([&] { EndUpdate(true); });
    AssignedValues()->SetDisplayFormat(true);
    Changed();
  }
}

String TvlCustomTextEditProperties::EditFormat() {
  Boolean isCurrency = false, byOnGetText = false;
  return ResolveEditFormat(isCurrency, byOnGetText, nullptr);
}

void TvlCustomTextEditProperties::SetEditFormat(const String& Value) {
  if (AssignedValues()->EditFormat() && FEditFormat == Value) return;
  FEditFormat = Value;
  BeginUpdate();
  Finally done([&] { EndUpdate(true); });
  AssignedValues()->SetEditFormat(true);
  Changed();
}

Integer TvlCustomTextEditProperties::MaxLength() {
  return AssignedValues()->MaxLength() ? FMaxLength : GetFallbackMaxLength();
}

void TvlCustomTextEditProperties::SetMaxLength(Integer Value) {
  if (Value < 0) Value = 0;
  if (AssignedValues()->MaxLength() && FMaxLength == Value) return;
  FMaxLength = Value;
  if (AssignedValues()->MaxLength())
    MaxLengthChanged();
  else
    AssignedValues()->SetMaxLength(true);  // calls MaxLengthChanged
}

Integer TvlCustomTextEditProperties::GetFallbackMaxLength() {
  return IDefaultValuesProvider() ? IDefaultValuesProvider()->DefaultMaxLength() : 0;
}

TvlTextEditViewStyle TvlCustomTextEditProperties::ViewStyle() {
  switch (ButtonsViewStyle()) {
    case bvsButtonsOnly: return vsButtonsOnly;
    case bvsButtonsAutoWidth: return vsButtonsAutoWidth;
    default: return FHideCursor ? vsHideCursor : vsNormal;
  }
}

void TvlCustomTextEditProperties::SetViewStyle(TvlTextEditViewStyle Value) {
  if (Value == ViewStyle()) return;
  BeginUpdate();
  Finally done([&] { EndUpdate(true); });
  switch (Value) {
    case vsButtonsOnly: SetButtonsViewStyle(bvsButtonsOnly); break;
    case vsButtonsAutoWidth: SetButtonsViewStyle(bvsButtonsAutoWidth); break;
    default: SetButtonsViewStyle(bvsNormal);
  }
  SetHideCursor(Value != vsNormal);
}

Boolean TvlCustomTextEditProperties::LookupItemsSorted() const { return FLookupItems->Sorted(); }
void TvlCustomTextEditProperties::SetLookupItemsSorted(Boolean Value) { FLookupItems->SetSorted(Value); }
void TvlCustomTextEditProperties::SetLookupItems(TStrings* Value) { FLookupItems->Assign(Value); }

void TvlCustomTextEditProperties::SetFixedListSelection(Boolean Value) {
  if (FFixedListSelection == Value) return;
  FFixedListSelection = Value;
  if (GetTextEditingStyle() == esFixedList) Changed();
}

void TvlCustomTextEditProperties::SetImeName(const TImeName& Value) {
  if (FImeName == Value) return;
  FImeName = Value;
  Changed();
}

#define VL_TEXT_SETTER(Name, Type, Field) \
  void TvlCustomTextEditProperties::Set##Name(Type Value) { \
    if (Field == Value) return;                             \
    Field = Value;                                          \
    Changed();                                              \
  }
VL_TEXT_SETTER(CharCase, TEditCharCase, FCharCase)
VL_TEXT_SETTER(EchoMode, TvlEditEchoMode, FEchoMode)
VL_TEXT_SETTER(HideCursor, Boolean, FHideCursor)
VL_TEXT_SETTER(HideSelection, Boolean, FHideSelection)
VL_TEXT_SETTER(ImeMode, TImeMode, FImeMode)
VL_TEXT_SETTER(IncrementalSearch, Boolean, FIncrementalSearch)
VL_TEXT_SETTER(MRUMode, Boolean, FMRUMode)
VL_TEXT_SETTER(OEMConvert, Boolean, FOEMConvert)
VL_TEXT_SETTER(PasswordChar, Char, FPasswordChar)
VL_TEXT_SETTER(UseDisplayFormatWhenEditing, Boolean, FUseDisplayFormatWhenEditing)
#undef VL_TEXT_SETTER

// --- Values and texts -----------------------------------------------------------------------------------

Boolean TvlCustomTextEditProperties::FindLookupItem(const String& AText) {
  const String key = AnsiUpperCase(AText);
  for (Integer i = 0; i < FLookupItems->Count(); ++i)
    if (AnsiUpperCase(FLookupItems->Strings(i)) == key) return true;
  return false;
}

String TvlCustomTextEditProperties::DisplayValueToDisplayText(const String& AText) {
  if (FEchoMode == eemPassword) return String(AText.size(), FPasswordChar ? FPasswordChar : u'*');
  if (FCharCase == ecUpperCase) return AnsiUpperCase(AText);
  if (FCharCase == ecLowerCase) return AnsiLowerCase(AText);
  return AText;
}

Boolean TvlCustomTextEditProperties::IsDisplayValueValid(Variant& DisplayValue, Boolean) {
  String text = VarToStr(DisplayValue);
  Boolean valid = true;
  const TvlEditEditingStyle style = GetTextEditingStyle();
  if (!text.empty() && (style == esEditList || style == esFixedList) && UsesLookupData())
    valid = FindLookupItem(text);
  if (valid) {
    if (FCharCase == ecUpperCase)
      text = AnsiUpperCase(text);
    else if (FCharCase == ecLowerCase)
      text = AnsiLowerCase(text);
    DisplayValue = Variant(text);
  }
  return valid;
}

Boolean TvlCustomTextEditProperties::IsEditValueValid(Variant& EditValue, Boolean AEditFocused) {
  if (VarIsNull(EditValue) || !VarIsStr(EditValue)) return true;
  return IsDisplayValueValid(EditValue, AEditFocused);
}

String TvlCustomTextEditProperties::ResolveEditFormat(Boolean& AIsCurrency, Boolean& ATakenByOnGetText,
                                                      TvlCustomEdit* AEdit) {
  AIsCurrency = ATakenByOnGetText = false;
  if (AssignedValues()->EditFormat()) return FEditFormat;
  IvlEditDefaultValuesProvider* provider = IDefaultValuesProvider();
  if ((!AEdit || !AEdit->IsInplace()) && provider && provider->IsOnGetTextAssigned()) {
    ATakenByOnGetText = true;
    return String();
  }
  if (provider) {
    String s = provider->DefaultEditFormat();
    if (!s.empty()) return s;
  }
  String format;
  if (AssignedValues()->DisplayFormat())
    format = FDisplayFormat;
  else if (provider && !provider->DefaultDisplayFormat().empty())
    format = provider->DefaultDisplayFormat();
  else if (!GetBuiltInDisplayFormat().empty())
    format = GetBuiltInDisplayFormat();
  else if (provider)
    AIsCurrency = !(FormatOptionFlags() & vlEditFormatsIgnoringCurrency) && provider->IsCurrency();
  if (!FUseDisplayFormatWhenEditing) format.clear();
  return format;
}

String TvlCustomTextEditProperties::FormatNumber(const Variant& AValue, Boolean AEditFocused) {
  if (!AEditFocused) {
    const String format = DisplayFormat();
    if (!format.empty()) return FormatFloat(format, AValue.AsDouble());
    return VarToStr(AValue);
  }
  Boolean isCurrency = false, byOnGetText = false;
  const String format = ResolveEditFormat(isCurrency, byOnGetText, nullptr);
  const Integer precision = IDefaultValuesProvider() ? IDefaultValuesProvider()->DefaultPrecision() : 15;
  if (isCurrency) {
    TBcd bcd;
    String s = VarToStr(AValue);
    if (TryStrToBcd(s, bcd)) s = BcdToStrF(bcd, TFloatFormat::ffFixed, precision, FormatSettings().CurrencyDecimals);
    return s;
  }
  if (!format.empty()) return FormatFloat(format, AValue.AsDouble());
  String s = GeneralText(AValue, precision);
  if (GroupsDigitsWhileEditing(false)) s = vlInsertThousandSeparators(s);
  return s;
}

void TvlCustomTextEditProperties::PrepareDisplayValue(const Variant& AEditValue, Variant& DisplayValue,
                                                      Boolean AEditFocused) {
  if (EditsNumbers()) {
    if (vlIsSoftNullVariant(AEditValue))
      DisplayValue = Variant(String());
    else if (vlVarIsNumber(AEditValue) || VarIsStr(AEditValue))
      DisplayValue = Variant(FormatNumber(AEditValue, AEditFocused));
    else
      throw EConvertError(vlGetResourceStringText(vlSEditNumericValueConvertError));
    return;
  }
  if (VarIsArray(AEditValue) && VarArrayDimCount(AEditValue) != 1)
    DisplayValue = Variant(String());
  else
    DisplayValue = Variant(VarToStr(AEditValue));
}

Variant TvlCustomTextEditProperties::MakeDisplayValue(const Variant& AEditValue, Boolean AEditFocused) {
  Variant value = AEditValue, display;
  if (IsEditValueValid(value, AEditFocused)) {
    PrepareDisplayValue(value, display, AEditFocused);
    return display;
  }
  if (vlVarIsDateTime(AEditValue)) return Variant(DateTimeToStr(VarToDateTime(AEditValue)));
  return Variant(VarToStr(AEditValue));
}

String TvlCustomTextEditProperties::GetDisplayText(const Variant& AEditValue, Boolean, Boolean AIsInplace) {
  String text;
  if (IsValueEditorWithValueFormatting())
    text = VarToStr(AEditValue);
  else
    text = VarToStr(MakeDisplayValue(AEditValue, !AIsInplace && !DisplayDependsOnFocus()));
  return DisplayValueToDisplayText(text);
}

Boolean TvlCustomTextEditProperties::CompareDisplayValues(const Variant& AEditValue1, const Variant& AEditValue2) {
  return GetDisplayText(AEditValue1, true, true) == GetDisplayText(AEditValue2, true, true);
}

// --- Range ------------------------------------------------------------------------------------------------

Boolean TvlCustomTextEditProperties::HasBound(Integer ASide) {
  const Boolean min = AssignedValues()->MinValue(), max = AssignedValues()->MaxValue();
  if (min != max) return ASide == 0 ? min : max;
  return MaxValue() > MinValue();
}

void TvlCustomTextEditProperties::CheckValueRange(Variant& ADisplayValue, String& AErrorText, TvlCustomEdit* AEdit,
                                                  Boolean& AError) {
  Variant value;
  if (AEdit)
    static_cast<TvlCustomTextEdit*>(AEdit)->PrepareEditValueOf(ADisplayValue, value);
  else
    value = ADisplayValue;
  if (!vlVarIsNumber(value) && !vlVarIsDateTime(value)) return;
  const double v = value.AsDouble();
  if ((HasBound(0) && v < MinValue()) || (HasBound(1) && v > MaxValue())) {
    AError = true;
    AErrorText = StandardErrorTextOf(1);
  }
}

void TvlCustomTextEditProperties::ValidateDisplayValue(Variant& ADisplayValue, String& AErrorText, Boolean& AError,
                                                       TvlCustomEdit* AEdit) {
  if (EditsNumbers()) {
    // Both bounds set the wrong way round would switch the check off unnoticed.
    if (AssignedValues()->MinValue() && AssignedValues()->MaxValue() && MinValue() > MaxValue())
      throw EvlEditError(u"The minimum value " + FloatToStr(MinValue()) + u" is greater than the maximum value " +
                         FloatToStr(MaxValue()));
    if (HasRangeCheck()) CheckValueRange(ADisplayValue, AErrorText, AEdit, AError);
  }
  inherited::ValidateDisplayValue(ADisplayValue, AErrorText, AError, AEdit);
}

// --- The published form --------------------------------------------------------------------------------------

CL_IMPLEMENT_CLASS_PUBLISHED(TvlTextEditProperties, P) {
  using T = TvlTextEditProperties;
  P.Property(u"Alignment", &T::Alignment, &T::SetAlignment).Stored(&T::IsAlignmentStored);
  P.Property(u"AssignedValues", &T::AssignedValues, &T::SetAssignedValues);
  P.Property(u"AutoSelect", &T::AutoSelect, &T::SetAutoSelect).Default(true);
  P.Property(u"BeepOnError", &T::BeepOnError, &T::SetBeepOnError).Default(false);
  P.Property(u"CharCase", &T::CharCase, &T::SetCharCase).Default(ecNormal);
  P.Property(u"ClearKey", &T::ClearKey, &T::SetClearKey).Default(Word(0));
  P.Property(u"EchoMode", &T::EchoMode, &T::SetEchoMode).Default(eemNormal);
  P.Property(u"HideSelection", &T::HideSelection, &T::SetHideSelection).Default(true);
  P.Property(u"ImeMode", &T::ImeMode, &T::SetImeMode).Default(imDontCare);
  P.Property(u"ImeName", &T::ImeName, &T::SetImeName);
  P.Property(u"IncrementalSearch", &T::IncrementalSearch, &T::SetIncrementalSearch).Default(true);
  P.Property(u"LookupItems", &T::LookupItems, &T::SetLookupItems);
  P.Property(u"LookupItemsSorted", &T::LookupItemsSorted, &T::SetLookupItemsSorted).Default(false);
  P.Property(u"MaxLength", &T::MaxLength, &T::SetMaxLength).Stored(&T::IsMaxLengthStored);
  P.Property(u"MaxValue", &T::MaxValue, &T::SetMaxValue).Stored(&T::IsMaxValueStored);
  P.Property(u"MinValue", &T::MinValue, &T::SetMinValue).Stored(&T::IsMinValueStored);
  P.Property(u"OEMConvert", &T::OEMConvert, &T::SetOEMConvert).Default(false);
  P.Property(u"PasswordChar", &T::PasswordChar, &T::SetPasswordChar).Default(Char(0));
  P.Property(u"ReadOnly", &T::ReadOnly, &T::SetReadOnly).Stored(&T::IsReadOnlyStored);
  P.Property(u"UseLeftAlignmentOnEditing", &T::UseLeftAlignmentOnEditing, &T::SetUseLeftAlignmentOnEditing)
      .Stored(&T::IsUseLeftAlignmentOnEditingStored);
  P.Property(u"ValidateOnEnter", &T::ValidateOnEnter, &T::SetValidateOnEnter).Default(false);
  P.Property(u"OnChange", &T::OnChange, &T::SetOnChange);
  P.Property(u"OnEditValueChanged", &T::OnEditValueChanged, &T::SetOnEditValueChanged);
  P.Property(u"OnNewLookupDisplayText", &T::OnNewLookupDisplayText, &T::SetOnNewLookupDisplayText);
  P.Property(u"OnValidate", &T::OnValidate, &T::SetOnValidate);
}
