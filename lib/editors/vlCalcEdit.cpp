#include "lib/editors/vlCalcEdit.h"

#include <algorithm>
#include <cmath>

#include "lib/editors/vlEditConsts.h"
#include "lib/editors/vlEditViewInfo.h"
#include "lib/editors/vlFilterEdit.h"
#include "lib/foundation/vlVariants.h"
#include "platform/classes/ClassRegistry.h"
#include "platform/classes/ModuleInit.h"
#include "platform/classes/TypInfoBuild.h"
#include "platform/rtl/Conversions.h"
#include "platform/rtl/Finally.h"
#include "platform/rtl/Locale.h"
#include "platform/rtl/Strings.h"
#include "platform/rtl/Variants.h"
#include "platform/vcl/Graphics.h"
#include "platform/win/Windows.h"

using namespace win;

namespace {

constexpr Byte kDefaultPrecision = 15;
// The largest and the smallest magnitude a typed number may have.
constexpr long double kMaxTypedMagnitude = 1.7E308L;
constexpr long double kMinTypedMagnitude = 5E-324L;

String CalcErrorText() { return vlGetResourceStringText(svlSCalcError); }

// The exponent format's mantissa without the trailing zeros of its fraction
// (and without a separator left last); the exponent part stays.
String TrimMantissaZeros(const String& S) {
  const size_t e = S.find_first_of(u"Ee");
  if (e == String::npos) return S;
  String mantissa = S.substr(0, e);
  if (mantissa.find(FormatSettings().DecimalSeparator) == String::npos) return S;
  while (!mantissa.empty() && mantissa.back() == u'0') mantissa.pop_back();
  if (!mantissa.empty() && mantissa.back() == FormatSettings().DecimalSeparator) mantissa.pop_back();
  return mantissa + S.substr(e);
}

// "0".."9", "+", "-", "e", "E" and the locale's decimal separator.
Boolean IsNumericInputChar(Char C) {
  return (C >= u'0' && C <= u'9') || C == u'+' || C == u'-' || C == u'e' || C == u'E' ||
         C == FormatSettings().DecimalSeparator;
}

// The text as a value the editor can hold: a number within the range of a
// double. The calculator computes wider, so a result such as 1E309 reads as
// no number rather than as an infinity.
Boolean TextToEditValue(const String& AText, double& AValue) {
  Extended v = 0;
  if (!vlCalcTextToFloat(AText, v) || !std::isfinite(double(v))) return false;
  AValue = double(v);
  return true;
}

}  // namespace

// --- Assigned values ------------------------------------------------------------------------------------

CL_IMPLEMENT_CLASS_PUBLISHED(TvlCalcEditPropertiesValues, P) {
  using T = TvlCalcEditPropertiesValues;
  P.Property(u"Precision", &T::Precision, &T::SetPrecision).Default(false);
}

void TvlCalcEditPropertiesValues::Assign(TPersistent* Source) {
  BeginUpdate();
  Finally done([&] { EndUpdate(); });
  inherited::Assign(Source);
  if (auto* s = dynamic_cast<TvlCalcEditPropertiesValues*>(Source)) SetPrecision(s->FPrecision);
}

void TvlCalcEditPropertiesValues::RestoreDefaults() {
  BeginUpdate();
  Finally done([&] { EndUpdate(); });
  inherited::RestoreDefaults();
  SetPrecision(false);
}

void TvlCalcEditPropertiesValues::SetPrecision(Boolean Value) {
  if (FPrecision == Value) return;
  FPrecision = Value;
  if (Properties()) Properties()->Changed();
}

// --- Properties -----------------------------------------------------------------------------------------

CL_IMPLEMENT_CLASS(TvlCustomCalcEditProperties)

void TvlCustomCalcEditProperties::Create(TPersistent* AOwner) {
  inherited::Create(AOwner);
  SetBeepOnError(true);
  FPrecision = kDefaultPrecision;
  SetPopupSizeable(false);
  SetImmediateDropDown(false);
}

TvlCustomEditClass TvlCustomCalcEditProperties::GetContainerClass() const { return ClassOf<TvlCalcEdit>(); }

void TvlCustomCalcEditProperties::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TvlCustomCalcEditProperties*>(Source);
  if (!s) {
    inherited::Assign(Source);
    return;
  }
  BeginUpdate();
  Finally end([&] { EndUpdate(); });
  inherited::Assign(Source);
  SetBeepOnError(s->BeepOnError());
  AssignedValues()->SetPrecision(false);
  if (s->AssignedValues()->Precision()) SetPrecision(s->FPrecision);
  SetQuickClose(s->FQuickClose);
  SetScientificFormat(s->FScientificFormat);
  SetUseThousandSeparator(s->FUseThousandSeparator);
}

Byte TvlCustomCalcEditProperties::Precision() {
  Integer p = kDefaultPrecision;
  if (AssignedValues()->Precision())
    p = FPrecision;
  else if (IvlEditDefaultValuesProvider* provider = IDefaultValuesProvider())
    p = provider->DefaultPrecision();
  return Byte(p >= 16 || p < 0 ? kDefaultPrecision : p);
}

void TvlCustomCalcEditProperties::SetPrecision(Byte Value) {
  const Boolean changed = FPrecision != Value || !AssignedValues()->Precision();
  FPrecision = Value;
  AssignedValues()->SetPrecision(true);
  if (changed) Changed();
}

void TvlCustomCalcEditProperties::SetQuickClose(Boolean Value) {
  if (FQuickClose == Value) return;
  FQuickClose = Value;
  Changed();
}

void TvlCustomCalcEditProperties::SetScientificFormat(Boolean Value) {
  if (FScientificFormat == Value) return;
  FScientificFormat = Value;
  Changed();
}

void TvlCustomCalcEditProperties::SetUseThousandSeparator(Boolean Value) {
  if (FUseThousandSeparator == Value) return;
  FUseThousandSeparator = Value;
  Changed();
}

void TvlCustomCalcEditProperties::PrepareDisplayValue(const Variant& AEditValue, Variant& DisplayValue,
                                                      Boolean AEditFocused) {
  if (vlIsSoftNullVariant(AEditValue)) {
    DisplayValue = Variant(String());
    return;
  }
  double value = 0;
  if (VarIsStr(AEditValue)) {
    if (!TextToEditValue(VarToStr(AEditValue), value)) {
      DisplayValue = Variant(String());
      return;
    }
  } else {
    value = AEditValue.AsDouble();
  }
  const String format = DisplayFormat();
  if (!AEditFocused && !format.empty()) {
    DisplayValue = Variant(FormatFloat(format, value));
    return;
  }
  const Integer precision = Precision() == 0 ? kDefaultPrecision : Precision();
  String text;
  if (FScientificFormat) {
    text = TrimMantissaZeros(FloatToStrF(value, ffExponent, precision, 0));
  } else {
    text = FloatToStrF(value, ffGeneral, precision, 0);
    if (FUseThousandSeparator) text = vlInsertThousandSeparators(text);
  }
  DisplayValue = Variant(text);
}

Boolean TvlCustomCalcEditProperties::IsEditValueValid(Variant& EditValue, Boolean) {
  if (vlIsSoftNullVariant(EditValue) || vlVarIsNumber(EditValue)) return true;
  if (!VarIsStr(EditValue)) return false;
  double v = 0;
  return TextToEditValue(VarToStr(EditValue), v);
}

void TvlCustomCalcEditProperties::ValidateDisplayValue(Variant& ADisplayValue, String& AErrorText, Boolean& AError,
                                                       TvlCustomEdit* AEdit) {
  AError = false;
  TvlCustomMaskEditProperties::ValidateDisplayValue(ADisplayValue, AErrorText, AError, AEdit);
}

Integer TvlCustomCalcEditProperties::GetEditValueSource(Boolean AEditFocused) {
  IvlEditDefaultValuesProvider* provider = IDefaultValuesProvider();
  if (!AEditFocused && !AssignedValues()->DisplayFormat() && provider && !provider->DefaultDisplayFormat().empty())
    return 1;  // the field's display text
  return 0;    // the value
}

Boolean TvlCustomCalcEditProperties::IsNumberText(const String& AText) {
  Extended v = 0;
  if (!vlCalcTextToFloat(vlRemoveThousandSeparators(AText), v)) return false;
  const Extended magnitude = std::fabs(v);
  return magnitude == 0 || (magnitude >= kMinTypedMagnitude && magnitude <= kMaxTypedMagnitude);
}

CL_IMPLEMENT_CLASS_PUBLISHED(TvlCalcEditProperties, P) {
  using T = TvlCalcEditProperties;
  P.Property(u"Alignment", &T::Alignment, &T::SetAlignment).Stored(&T::IsAlignmentStored);
  P.Property(u"AssignedValues", &T::AssignedValues, &T::SetAssignedValues);
  P.Property(u"AutoSelect", &T::AutoSelect, &T::SetAutoSelect).Default(true);
  P.Property(u"BeepOnError", &T::BeepOnError, &T::SetBeepOnError).Default(true);
  P.Property(u"ButtonGlyph", &T::ButtonGlyph, &T::SetButtonGlyph);
  P.Property(u"ClearKey", &T::ClearKey, &T::SetClearKey).Default(Word(0));
  P.Property(u"DisplayFormat", &T::DisplayFormat, &T::SetDisplayFormat).Stored(&T::IsDisplayFormatStored);
  P.Property(u"ImeMode", &T::ImeMode, &T::SetImeMode).Default(imDontCare);
  P.Property(u"ImeName", &T::ImeName, &T::SetImeName);
  P.Property(u"ImmediatePost", &T::ImmediatePost, &T::SetImmediatePost).Default(false);
  P.Property(u"Precision", &T::Precision, &T::SetPrecision).Stored(&T::IsPrecisionStored);
  P.Property(u"QuickClose", &T::QuickClose, &T::SetQuickClose).Default(false);
  P.Property(u"ReadOnly", &T::ReadOnly, &T::SetReadOnly).Stored(&T::IsReadOnlyStored);
  P.Property(u"ScientificFormat", &T::ScientificFormat, &T::SetScientificFormat).Default(false);
  P.Property(u"UseLeftAlignmentOnEditing", &T::UseLeftAlignmentOnEditing, &T::SetUseLeftAlignmentOnEditing)
      .Stored(&T::IsUseLeftAlignmentOnEditingStored);
  P.Property(u"UseThousandSeparator", &T::UseThousandSeparator, &T::SetUseThousandSeparator).Default(false);
  P.Property(u"ValidateOnEnter", &T::ValidateOnEnter, &T::SetValidateOnEnter).Default(true);
  P.Property(u"OnChange", &T::OnChange, &T::SetOnChange);
  P.Property(u"OnCloseUp", &T::OnCloseUp, &T::SetOnCloseUp);
  P.Property(u"OnEditValueChanged", &T::OnEditValueChanged, &T::SetOnEditValueChanged);
  P.Property(u"OnInitPopup", &T::OnInitPopup, &T::SetOnInitPopup);
  P.Property(u"OnPopup", &T::OnPopup, &T::SetOnPopup);
  P.Property(u"OnValidate", &T::OnValidate, &T::SetOnValidate);
}

// --- The popup calculator -------------------------------------------------------------------------------

CL_IMPLEMENT_CLASS(TvlPopupCalculator)

void TvlPopupCalculator::Create(TComponent* AOwner) {
  inherited::Create(AOwner);
  SetIsPopupControl(true);
}

TvlCustomLookAndFeelPainterClass TvlPopupCalculator::GetCalcPainter() {
  if (FEdit && FEdit->ViewInfo() && FEdit->ViewInfo()->Painter) return FEdit->ViewInfo()->Painter;
  return inherited::GetCalcPainter();
}

void TvlPopupCalculator::GetDisplayText(String& Text) { Text = FEdit ? FEdit->Text() : String(); }

void TvlPopupCalculator::SetDisplayText(const String& Text) {
  if (FEdit) FEdit->WriteCalculatorText(Text);
}

void TvlPopupCalculator::LockDisplayChanges(Boolean ALock, Boolean AInvokeChangedOnUnlock) {
  if (FEdit) FEdit->LockChangeEvents(ALock, AInvokeChangedOnUnlock);
}

void TvlPopupCalculator::BoundsChanged() {
  const Extended memory = Memory();
  inherited::BoundsChanged();
  if (Memory() != memory) RestoreMemory(memory);
}

void TvlPopupCalculator::FontChanged() {
  const Extended memory = Memory();
  inherited::FontChanged();
  if (Memory() != memory) RestoreMemory(memory);
}

void TvlPopupCalculator::FitToFont(TFont* AFont) {
  const Extended memory = Memory();
  Font()->Assign(AFont);
  Layout();
  RestoreMemory(memory);
}

void TvlPopupCalculator::KeyDown(Word& Key, TShiftState Shift) {
  TWeakRef<TvlPopupCalculator> self(this);
  const Word key = Key;
  inherited::KeyDown(Key, Shift);
  if (!self || !FEdit) return;
  const Boolean alt = Shift.Contains(ssAlt);
  switch (key) {
    case VK_TAB: {
      Word tab = VK_TAB;
      FEdit->CalculatorKeyDown(tab, Shift);
      break;
    }
    case VK_RETURN: HidePopup(this, crEnter); break;
    case VK_ESCAPE: HidePopup(this, crCancel); break;
    case VK_UP:
    case VK_DOWN:
      if (alt) HidePopup(this, crClose);
      break;
    case VK_F4:
      if (!alt) HidePopup(this, crClose);
      break;
    case VK_INSERT:
      if (Shift.Contains(ssShift))
        PasteFromClipboard();
      else if (Shift.Contains(ssCtrl))
        CopyToClipboard();
      break;
    default: break;
  }
}

void TvlPopupCalculator::KeyPress(Char& Key) {
  TWeakRef<TvlPopupCalculator> self(this);
  const Char key = Key;
  inherited::KeyPress(Key);
  if (self && FEdit && key == u'=' && FEdit->ActiveProperties()->QuickClose()) HidePopup(this, crEnter);
}

// --- The editor -----------------------------------------------------------------------------------------

CL_IMPLEMENT_CLASS(TvlCustomCalcEdit)

void TvlCustomCalcEdit::Initialize() {
  inherited::Initialize();
  SetValue(0);
  FCalculator = New<TvlPopupCalculator>(static_cast<TComponent*>(this));
  FCalculator->SetParent(PopupWindow());
  FCalculator->SetEdit(this);
  FCalculator->SetAutoFontSize(false);
  FCalculator->SetOnHidePopup(TvlEditClosePopupEvent(this, &TvlCustomCalcEdit::CalculatorHidePopup));
  ActiveProperties()->SetPopupControl(FCalculator);
}

void TvlCustomCalcEdit::Destroy() {
  if (FCalculator) FCalculator->SetEdit(nullptr);
  inherited::Destroy();
}

void TvlCustomCalcEdit::CalculatorHidePopup(TvlControl*, TvlEditCloseUpReason AReason) {
  ClosePopupWithReason(AReason);
}

void TvlCustomCalcEdit::PropertiesChanged(TObject* Sender) {
  TvlObjectLinkScope alive(this);
  inherited::PropertiesChanged(Sender);
  if (!alive.Alive() || !FCalculator || ActiveProperties()->FormatChanging()) return;
  TvlCustomCalcEditProperties* p = ActiveProperties();
  FCalculator->SetBeepOnError(p->BeepOnError());
  FCalculator->SetPrecision(p->Precision());
  if (IsDesigning()) return;
  p->LockUpdate(true);
  Finally unlock([&] { p->LockUpdate(false); });
  p->SetPopupControl(FCalculator);
}

Boolean TvlCustomCalcEdit::CanDropDown() {
  return FCalculator && !ActiveProperties()->ReadOnly() && DataBinding()->IsDataAvailable();
}

void TvlCustomCalcEdit::InitializePopup() {
  inherited::InitializePopup();
  if (!FCalculator) return;
  ActiveProperties()->SetPopupControl(FCalculator);
  FCalculator->HandleNeeded();
  // The editor's font, and the layout made for it (the memory stays).
  FCalculator->FitToFont(Style()->GetVisibleFont());
}

void TvlCustomCalcEdit::PopupWindowShowed(TObject* Sender) {
  TvlObjectLinkScope alive(this);
  inherited::PopupWindowShowed(Sender);
  if (alive.Alive() && FCalculator) FCalculator->Init();
}

void TvlCustomCalcEdit::PopupWindowClosed(TObject* Sender) {
  TvlObjectLinkScope alive(this);
  // The error text is no number: the value becomes 0.
  if (Text() == CalcErrorText()) SetValue(0);
  if (!alive.Alive()) return;
  if (ActiveProperties()->AutoSelect())
    SelectAll();
  else
    SetSelStart(Integer(Text().size()));
  inherited::PopupWindowClosed(Sender);
}

void TvlCustomCalcEdit::WriteCalculatorText(const String& AText) {
  if (!DoEditing()) return;
  if (InnerEdit()) InnerEdit()->SetEditValue(Variant(AText));
  SetModifiedAfterEnter(true);
}

Extended TvlCustomCalcEdit::Value() {
  const Variant& v = EditValue();
  if (vlIsSoftNullVariant(v)) return 0;
  if (VarIsStr(v)) {
    Extended x = 0;
    return vlCalcTextToFloat(VarToStr(v), x) ? x : 0;
  }
  return v.AsDouble();
}

void TvlCustomCalcEdit::SetValue(Extended AValue) { SetInternalEditValue(Variant(double(AValue))); }

void TvlCustomCalcEdit::PrepareEditValue(const Variant& ADisplayValue, Variant& EditValue, Boolean) {
  TvlCustomCalcEditProperties* p = ActiveProperties();
  String text = VarToStr(ADisplayValue);
  if (p->UseThousandSeparator() && !p->ScientificFormat()) text = vlRemoveThousandSeparators(text);
  text = Trim(text);
  double v = 0;
  if (text.empty() || !TextToEditValue(text, v))
    EditValue = Null();
  else
    EditValue = Variant(v);
}

Variant TvlCustomCalcEdit::CurrentEditingValue() {
  Variant v;
  PrepareEditValue(Variant(Text()), v, true);
  return v;
}

void TvlCustomCalcEdit::PasteFromClipboard() {
  if (!FCalculator || ActiveProperties()->ReadOnly()) return;
  FCalculator->PasteFromClipboard();
}

void TvlCustomCalcEdit::DoEditKeyPress(Char& Key) {
  if (Key == u'.' || Key == u',') Key = FormatSettings().DecimalSeparator;
  if (Key >= 0x20) {
    const String text = Text();
    const Integer start = std::clamp<Integer>(SelStart(), 0, Integer(text.size()));
    const Integer length = std::clamp<Integer>(SelLength(), 0, Integer(text.size()) - start);
    const String result = text.substr(0, size_t(start)) + Key + text.substr(size_t(start + length));
    const Boolean lonelyMinus = Key == u'-' && result == u"-";
    if (!lonelyMinus && !(IsNumericInputChar(Key) && ActiveProperties()->IsNumberText(result))) {
      Key = 0;
      if (ActiveProperties()->BeepOnError()) MessageBeep(MB_OK);
      return;
    }
  }
  inherited::DoEditKeyPress(Key);
}

void TvlCustomCalcEdit::DoEnter() {
  if (!IsInplace()) SynchronizeDisplayValue();
  inherited::DoEnter();
}

void TvlCustomCalcEdit::DoExit() {
  TvlObjectLinkScope alive(this);
  inherited::DoExit();
  if (alive.Alive() && !Focused()) DataBinding()->UpdateDisplayValue();
}

void TvlCustomCalcEdit::LocaleFormatsChanged() {
  inherited::LocaleFormatsChanged();
  DataBinding()->UpdateDisplayValue();
}

CL_IMPLEMENT_CLASS_PUBLISHED(TvlCalcEdit, P) {
  using T = TvlCalcEdit;
  P.Property(u"AutoSize", &T::AutoSize, &T::SetAutoSize).Default(true);
  P.Property(u"EditValue", &T::EditValue, &T::SetEditValue);
  P.Property(u"Properties", &T::Properties, &T::SetProperties);
  P.Property(u"Style", &T::Style, &T::SetStyle);
  P.Property(u"StyleDisabled", &T::StyleDisabled, &T::SetStyleDisabled);
  P.Property(u"StyleFocused", &T::StyleFocused, &T::SetStyleFocused);
  P.Property(u"StyleHot", &T::StyleHot, &T::SetStyleHot);
  P.Property(u"Value", &T::ValueProp, &T::SetValueProp).Stored(false);
}

// --- Filter helper --------------------------------------------------------------------------------------

CL_IMPLEMENT_CLASS(TvlFilterCalcEditHelper)

TvlCustomEditClass TvlFilterCalcEditHelper::GetFilterEditClass() const { return ClassOf<TvlCalcEdit>(); }

TvlFilterControlOperators TvlFilterCalcEditHelper::GetSupportedFilterOperators(TvlCustomEditProperties*,
                                                                             TvlValueTypeClass,
                                                                             Boolean AExtendedSet) const {
  return vlOrderedValueFilterOperators(AExtendedSet);
}

void TvlFilterCalcEditHelper::InitializeProperties(TvlCustomEditProperties* AProperties,
                                                   TvlCustomEditProperties* AEditProperties,
                                                   Boolean AHasButtons) const {
  inherited::InitializeProperties(AProperties, AEditProperties, AHasButtons);
  if (auto* p = dynamic_cast<TvlCustomCalcEditProperties*>(AProperties)) p->SetQuickClose(true);
}

// --- The unit -------------------------------------------------------------------------------------------

namespace {

Integer gStartupCount = 0;

void Startup() {
  if (gStartupCount++ > 0) return;
  vlGetEditPropertiesRegistry()->Register(ClassOf<TvlCalcEditProperties>(),
                                          vlGetResourceStringText(svlSEditRepositoryCalcItem));
  vlFilterEditsController()->Register(ClassOf<TvlCalcEditProperties>(), ClassOf<TvlFilterCalcEditHelper>());
  RegisterClasses({ClassOf<TvlCalcEdit>(), ClassOf<TvlCalcEditProperties>()});
}

void Shutdown() {
  if (gStartupCount == 0 || --gStartupCount > 0) return;
  vlFilterEditsController()->Unregister(ClassOf<TvlCalcEditProperties>(), ClassOf<TvlFilterCalcEditHelper>());
  if (TvlRegisteredClasses* registry = vlGetEditPropertiesRegistry())
    registry->Unregister(ClassOf<TvlCalcEditProperties>());
}

}  // namespace

CL_UNIT_STEPS(vlCalcEdit, &Startup, &Shutdown);
