#include "lib/editors/vlSpinEdit.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "lib/editors/vlEditConsts.h"
#include "lib/editors/vlInnerTextEdit.h"
#include "lib/foundation/vlVariants.h"
#include "lib/lookandfeel/vlControlServices.h"
#include "lib/lookandfeel/vlWindowUtils.h"
#include "platform/classes/ClassRegistry.h"
#include "platform/classes/Filer.h"
#include "platform/classes/ModuleInit.h"
#include "platform/classes/TypInfoBuild.h"
#include "platform/rtl/Conversions.h"
#include "platform/rtl/Finally.h"
#include "platform/rtl/Locale.h"
#include "platform/rtl/Numbers.h"
#include "platform/win/Windows.h"

using namespace win;

namespace {

Integer gStartupCount = 0;

void Startup() {
  if (gStartupCount++ > 0) return;
  vlGetEditPropertiesRegistry()->Register(ClassOf<TvlSpinEditProperties>(),
                                          vlGetResourceStringText(svlSEditRepositorySpinItem));
  vlFilterEditsController()->Register(ClassOf<TvlSpinEditProperties>(), ClassOf<TvlFilterSpinEditHelper>());
  RegisterClasses({ClassOf<TvlSpinEdit>(), ClassOf<TvlSpinEditProperties>()});
}

void Shutdown() {
  if (gStartupCount == 0 || --gStartupCount > 0) return;
  vlFilterEditsController()->Unregister(ClassOf<TvlSpinEditProperties>(), ClassOf<TvlFilterSpinEditHelper>());
  if (TvlRegisteredClasses* registry = vlGetEditPropertiesRegistry())
    registry->Unregister(ClassOf<TvlSpinEditProperties>());
}

constexpr Integer kFirstRepeatDelay = 400, kRepeatInterval = 100;

using Wide = __int128;

// A double as a 64-bit integer: rounded half to even, held to the range.
Int64 DoubleToInt64(Double AValue) {
  if (std::isnan(AValue)) return 0;
  if (AValue >= 9223372036854775807.0) return INT64_MAX;
  if (AValue <= -9223372036854775808.0) return INT64_MIN;
  return Round(AValue);
}

Boolean IsForward(TvlSpinEditButton AButton) { return AButton == sebForward || AButton == sebFastForward; }

// A positive remainder of a division by a positive period.
Wide PositiveMod(Wide A, Wide APeriod) {
  Wide r = A % APeriod;
  return r < 0 ? r + APeriod : r;
}

// One step from V by S inside [Min, Max] (the rules of the editor's
// Increment); False when the step ends without a value.
Boolean StepInt(Int64 V, Int64 Min, Int64 Max, Int64 S, Boolean AForward, TvlSpinBoundsMode AMode, Int64& AResult) {
  if (V < Min) {
    if (!AForward && AMode != sbmWrap) return false;
    AResult = AForward ? Min : Max;
    return true;
  }
  if (V > Max) {
    if (AForward && AMode != sbmWrap) return false;
    AResult = AForward ? Min : Max;
    return true;
  }
  // The room to each bound, exact for the whole 64-bit range.
  const Wide lo = Wide(Min) - V, hi = Wide(Max) - V;
  if (lo <= S && S <= hi) {
    AResult = Int64(Wide(V) + S);
    return true;
  }
  switch (AMode) {
    case sbmNone: return false;
    case sbmClip: AResult = S < lo ? Min : Max; return true;
    default: break;
  }
  Wide r = S < lo ? Wide(Max) + S + 1 - lo : Wide(Min) + S - 1 - hi;
  // A step longer than the range wraps as often as it needs.
  const Wide period = Wide(Max) - Min + 1;
  if ((r < Min || r > Max) && period > 0) r = Wide(Min) + PositiveMod(r - Min, period);
  AResult = Int64(r);
  return true;
}

Boolean StepFloat(Double V, Double Min, Double Max, Double S, Boolean AForward, TvlSpinBoundsMode AMode,
                  Double& AResult) {
  if (V < Min) {
    if (!AForward && AMode != sbmWrap) return false;
    AResult = AForward ? Min : Max;
    return true;
  }
  if (V > Max) {
    if (AForward && AMode != sbmWrap) return false;
    AResult = AForward ? Min : Max;
    return true;
  }
  const Double lo = std::max(Min - V, -vlSpinMaxFloatValue), hi = std::min(Max - V, vlSpinMaxFloatValue);
  if (lo <= S && S <= hi) {
    AResult = V + S;
    return true;
  }
  switch (AMode) {
    case sbmNone: return false;
    case sbmClip: AResult = S < lo ? Min : Max; return true;
    default: break;
  }
  Double r = S < lo ? Max + S + 1 - lo : Min + S - 1 - hi;
  // Outside the bounds (a step or range shorter than the whole unit the
  // formula adds, or a step longer than the range): the range is
  // continuous, so the step wraps round it ([0, 1]: 1 + 0.1 gives 0.1).
  if (r < Min || r > Max) {
    const Double period = Max - Min;
    const Double moved = (V - Min) + S;
    if (std::isfinite(period) && period > 0 && std::isfinite(moved)) {
      Double m = std::fmod(moved, period);
      if (m < 0) m += period;
      r = Min + m;
    }
  }
  AResult = std::clamp(r, Min, Max);
  return true;
}

}  // namespace

CL_UNIT_STEPS(vlSpinEdit, &Startup, &Shutdown);

// --- Spin buttons settings ---------------------------------------------------------------------------------

CL_IMPLEMENT_CLASS_PUBLISHED(TvlSpinEditButtons, P) {
  using T = TvlSpinEditButtons;
  P.Property(u"Position", &T::Position, &T::SetPosition).Default(sbpVert);
  P.Property(u"ShowFastButtons", &T::ShowFastButtons, &T::SetShowFastButtons).Default(false);
  P.Property(u"Visible", &T::Visible, &T::SetVisible).Default(true);
}

void TvlSpinEditButtons::Create(TvlCustomSpinEditProperties* AOwner) {
  FOwner = AOwner;
  FPosition = sbpVert;
  FVisible = true;
}

TPersistent* TvlSpinEditButtons::GetOwner() { return FOwner; }

void TvlSpinEditButtons::Assign(TPersistent* Source) {
  auto* src = dynamic_cast<TvlSpinEditButtons*>(Source);
  if (!src) {
    inherited::Assign(Source);
    return;
  }
  FOwner->BeginUpdate();
  Finally done([&] { FOwner->EndUpdate(true); });
  SetPosition(src->Position());
  SetShowFastButtons(src->ShowFastButtons());
  SetVisible(src->Visible());
}

void TvlSpinEditButtons::SetPosition(TvlSpinEditButtonsPosition Value) {
  if (FPosition == Value) return;
  FPosition = Value;
  FOwner->Changed();
}

void TvlSpinEditButtons::SetShowFastButtons(Boolean Value) {
  if (FShowFastButtons == Value) return;
  FShowFastButtons = Value;
  FOwner->Changed();
}

void TvlSpinEditButtons::SetVisible(Boolean Value) {
  if (FVisible == Value) return;
  FVisible = Value;
  FOwner->Changed();
}

// --- Assigned flags --------------------------------------------------------------------------------------------

CL_IMPLEMENT_CLASS_PUBLISHED(TvlSpinEditPropertiesValues, P) {
  using T = TvlSpinEditPropertiesValues;
  P.Property(u"ValueType", &T::ValueType, &T::SetValueType).Default(false);
}

void TvlSpinEditPropertiesValues::Assign(TPersistent* Source) {
  inherited::Assign(Source);
  if (auto* src = dynamic_cast<TvlSpinEditPropertiesValues*>(Source)) SetValueType(src->ValueType());
}

void TvlSpinEditPropertiesValues::RestoreDefaults() {
  inherited::RestoreDefaults();
  SetValueType(false);
}

void TvlSpinEditPropertiesValues::SetValueType(Boolean Value) {
  if (FValueType == Value) return;
  FValueType = Value;
  if (Properties()) Properties()->Changed();
}

// --- Properties ---------------------------------------------------------------------------------------------------

CL_IMPLEMENT_CLASS(TvlCustomSpinEditProperties)

void TvlCustomSpinEditProperties::Create(TPersistent* AOwner) {
  inherited::Create(AOwner);
  BeginUpdate();
  Finally done([&] { EndUpdate(false); });
  Buttons()->Add();
  Buttons()->Add();
  FSpinButtons = New<TvlSpinEditButtons>(this);
  FCanEdit = true;
  FIncrement = 1.0;
  FLargeIncrement = 10.0;
}

void TvlCustomSpinEditProperties::Destroy() {
  FreeAndNil(FSpinButtons);
  inherited::Destroy();
}

void TvlCustomSpinEditProperties::Assign(TPersistent* Source) {
  auto* src = dynamic_cast<TvlCustomSpinEditProperties*>(Source);
  if (!src) {
    inherited::Assign(Source);
    return;
  }
  BeginUpdate();
  Finally done([&] { EndUpdate(true); });
  SetIDefaultValuesProvider(src->IDefaultValuesProvider());
  AssignedValues()->SetValueType(false);
  if (src->AssignedValues()->ValueType()) SetValueType(src->ValueType());
  inherited::Assign(Source);
  SetCanEdit(src->CanEdit());
  SetCircular(src->Circular());
  SetExceptionOnInvalidInput(src->ExceptionOnInvalidInput());
  SetIncrement(src->Increment());
  SetLargeIncrement(src->LargeIncrement());
  FSpinButtons->Assign(src->SpinButtons());
  SetUseCtrlIncrement(src->UseCtrlIncrement());
  FOnGetValue = src->OnGetValue();
}

// Zero increments are not written as Doubles: a Boolean marks them.
void TvlCustomSpinEditProperties::DefineProperties(TFiler* Filer) {
  inherited::DefineProperties(Filer);
  auto* ancestor = dynamic_cast<TvlCustomSpinEditProperties*>(Filer->Ancestor());
  Filer->DefineProperty(u"ZeroIncrement", TReaderProc(this, &TvlCustomSpinEditProperties::ReadZeroIncrement),
                        TWriterProc(this, &TvlCustomSpinEditProperties::WriteZeroIncrement),
                        FIncrement == 0 && (!ancestor || ancestor->Increment() != 0));
  Filer->DefineProperty(u"ZeroLargeIncrement",
                        TReaderProc(this, &TvlCustomSpinEditProperties::ReadZeroLargeIncrement),
                        TWriterProc(this, &TvlCustomSpinEditProperties::WriteZeroLargeIncrement),
                        FLargeIncrement == 0 && (!ancestor || ancestor->LargeIncrement() != 0));
}

void TvlCustomSpinEditProperties::ReadZeroIncrement(TReader* Reader) {
  Reader->ReadBoolean();
  SetIncrement(0);
}

void TvlCustomSpinEditProperties::ReadZeroLargeIncrement(TReader* Reader) {
  Reader->ReadBoolean();
  SetLargeIncrement(0);
}

void TvlCustomSpinEditProperties::WriteZeroIncrement(TWriter* Writer) { Writer->WriteBoolean(true); }
void TvlCustomSpinEditProperties::WriteZeroLargeIncrement(TWriter* Writer) { Writer->WriteBoolean(true); }

TvlCustomEditViewDataClass TvlCustomSpinEditProperties::EditViewDataClass() const {
  return ClassOf<TvlSpinEditViewData>();
}
TvlCustomEditClass TvlCustomSpinEditProperties::GetContainerClass() const { return ClassOf<TvlSpinEdit>(); }
TvlCustomEditViewInfoClass TvlCustomSpinEditProperties::GetViewInfoClass() const {
  return ClassOf<TvlSpinEditViewInfo>();
}

void TvlCustomSpinEditProperties::SyncButtonCount() {
  if (!FSpinButtons) return;
  const Integer wanted = !FSpinButtons->Visible() ? 0 : FSpinButtons->ShowFastButtons() ? 4 : 2;
  if (Buttons()->Count() == wanted) return;
  BeginUpdate();
  Finally done([&] { EndUpdate(false); });
  while (Buttons()->Count() < wanted) Buttons()->Add();
  while (Buttons()->Count() > wanted) Buttons()->Delete(0);
}

void TvlCustomSpinEditProperties::FirePropertiesChanged() {
  SyncButtonCount();
  inherited::FirePropertiesChanged();
}

TvlSpinEditValueType TvlCustomSpinEditProperties::ValueType() {
  if (AssignedValues()->ValueType()) return FValueType;
  if (IvlEditDefaultValuesProvider* provider = IDefaultValuesProvider())
    return provider->DefaultIsFloatValue() ? vtFloat : vtInt;
  return vtFloat;
}

void TvlCustomSpinEditProperties::SetValueType(TvlSpinEditValueType Value) {
  if (AssignedValues()->ValueType() && FValueType == Value) return;
  FValueType = Value;
  BeginUpdate();
  Finally done([&] { EndUpdate(true); });
  AssignedValues()->SetValueType(true);
  Changed();
}

#define CL_SPIN_PROPERTY_SETTER(Name, Type, Field)   \
  void TvlCustomSpinEditProperties::Set##Name(Type Value) { \
    if (Field == Value) return;                            \
    Field = Value;                                         \
    Changed();                                             \
  }
CL_SPIN_PROPERTY_SETTER(CanEdit, Boolean, FCanEdit)
CL_SPIN_PROPERTY_SETTER(Circular, Boolean, FCircular)
CL_SPIN_PROPERTY_SETTER(ExceptionOnInvalidInput, Boolean, FExceptionOnInvalidInput)
CL_SPIN_PROPERTY_SETTER(Increment, Double, FIncrement)
CL_SPIN_PROPERTY_SETTER(LargeIncrement, Double, FLargeIncrement)
CL_SPIN_PROPERTY_SETTER(UseCtrlIncrement, Boolean, FUseCtrlIncrement)
#undef CL_SPIN_PROPERTY_SETTER

TvlSpinBoundsMode TvlCustomSpinEditProperties::GetBoundsMode() {
  if (FCircular) return sbmWrap;
  return ClipsToBounds() ? sbmClip : sbmNone;
}

void TvlCustomSpinEditProperties::GetMaxBound(Variant& AValue) {
  if (HasBound(1))
    AValue = ToValueType(Variant(MaxValue()));
  else
    AValue = ValueType() == vtInt ? Variant(Int64(INT64_MAX)) : Variant(vlSpinMaxFloatValue);
}

void TvlCustomSpinEditProperties::GetMinBound(Variant& AValue) {
  if (HasBound(0))
    AValue = ToValueType(Variant(MinValue()));
  else
    AValue = ValueType() == vtInt ? Variant(Int64(INT64_MIN)) : Variant(-vlSpinMaxFloatValue);
}

void TvlCustomSpinEditProperties::NormalizeValue(const Variant& AValue, Variant& AResult) {
  AResult = vlIsSoftNullVariant(AValue) ? ToValueType(Variant(0)) : ToValueType(AValue);
}

Double TvlCustomSpinEditProperties::GetIncrement(TvlSpinEditButton AButton) {
  switch (AButton) {
    case sebBackward: return -FIncrement;
    case sebForward: return FIncrement;
    case sebFastBackward: return -FLargeIncrement;
    case sebFastForward: return FLargeIncrement;
    default: throw EnbException(u"TvlCustomSpinEditProperties.GetIncrement fails");
  }
}

Boolean TvlCustomSpinEditProperties::TryTextToValue(const String& AText, Variant& AValue) {
  const String text = Trim(AText);
  if (ValueType() == vtInt) {
    Int64 v = 0;
    if (!TryStrToInt64(text, v)) return false;
    AValue = Variant(v);
    return true;
  }
  Double v = 0;
  if (!TryStrToFloat(text, v) || !std::isfinite(v) || std::fabs(v) > vlSpinMaxFloatValue) return false;
  AValue = Variant(v);
  return true;
}

Variant TvlCustomSpinEditProperties::ToValueType(const Variant& AValue) {
  if (VarIsNull(AValue) || VarIsEmpty(AValue)) return AValue;
  const Boolean isInt = ValueType() == vtInt;
  if (VarIsStr(AValue)) {
    Variant v;
    if (TryTextToValue(VarToStr(AValue), v)) return v;
    return VarAsType(AValue, isInt ? varInt64 : varDouble);
  }
  if (isInt) {
    if (VarIsOrdinal(AValue) && VarType(AValue) != varUInt64) return Variant(AValue.AsInt64());
    return Variant(DoubleToInt64(AValue.AsDouble()));
  }
  return Variant(std::clamp(AValue.AsDouble(), -vlSpinMaxFloatValue, vlSpinMaxFloatValue));
}

Variant TvlCustomSpinEditProperties::ClipValue(const Variant& AValue) {
  if (!vlVarIsNumber(AValue)) return AValue;
  if (HasBound(0) && AValue.AsDouble() < MinValue()) return ToValueType(Variant(MinValue()));
  if (HasBound(1) && AValue.AsDouble() > MaxValue()) return ToValueType(Variant(MaxValue()));
  return AValue;
}

Variant TvlCustomSpinEditProperties::ClippedZero() { return ToValueType(ClipValue(Variant(0))); }

// Focused, a whole number is shown with all its digits: the general
// notation of 15 digits would turn 2^63 - 1 into a text that no longer reads
// back as the same integer.
void TvlCustomSpinEditProperties::PrepareDisplayValue(const Variant& AEditValue, Variant& DisplayValue,
                                                      Boolean AEditFocused) {
  inherited::PrepareDisplayValue(AEditValue, DisplayValue, AEditFocused);
  if (ValueType() != vtInt || !AEditFocused || !EditsNumbers() || !VarIsOrdinal(AEditValue) ||
      VarType(AEditValue) == varUInt64)
    return;
  Boolean isCurrency = false, byOnGetText = false;
  if (!ResolveEditFormat(isCurrency, byOnGetText, nullptr).empty() || isCurrency) return;
  String text = IntToStr(AEditValue.AsInt64());
  if (GroupsDigitsWhileEditing(false)) text = vlInsertThousandSeparators(text);
  DisplayValue = Variant(text);
}

String TvlCustomSpinEditProperties::ValueToText(const Variant& AValue) {
  Variant display;
  PrepareDisplayValue(AValue, display, true);
  return VarToStr(display);
}

Boolean TvlCustomSpinEditProperties::IsOutOfBounds(const Variant& AValue) {
  if (!vlVarIsNumber(AValue)) return false;
  Variant min, max;
  GetMinBound(min);
  GetMaxBound(max);
  const Variant v = ToValueType(AValue);
  return v < min || max < v;
}

void TvlCustomSpinEditProperties::RunGetValue(TObject* Sender, const String& AText, Variant& AValue,
                                             String& ErrorText, Boolean& Error) {
  if (Assigned(FOnGetValue)) FOnGetValue(Sender, AText, AValue, ErrorText, Error);
}

Variant TvlCustomSpinEditProperties::GetEmptyDisplayValue() { return Variant(ValueToText(ClippedZero())); }

Integer TvlCustomSpinEditProperties::GetEditValueSource(Boolean AEditFocused) {
  IvlEditDefaultValuesProvider* provider = IDefaultValuesProvider();
  if (!AEditFocused && !AssignedValues()->DisplayFormat() && provider && provider->IsDisplayFormatDefined(true))
    return 1;  // the field's display text
  return 0;    // the value
}

Boolean TvlCustomSpinEditProperties::IsEditValueValid(Variant& EditValue, Boolean AEditFocused) {
  try {
    if (VarIsStr(EditValue) || vlVarIsNumber(EditValue)) {
      Variant parsed;
      if (!TryTextToValue(VarToStr(EditValue), parsed)) return false;
      EditValue = parsed;
    } else if (!vlIsSoftNullVariant(EditValue) && !vlVarIsDateTime(EditValue)) {
      return false;
    }
    Variant normal;
    NormalizeValue(EditValue, normal);
    EditValue = ToValueType(normal);
    return true;
  } catch (const Exception&) {
    return false;
  }
}

Boolean TvlCustomSpinEditProperties::IsDisplayValueValid(Variant& DisplayValue, Boolean AEditFocused) {
  if (!inherited::IsDisplayValueValid(DisplayValue, AEditFocused)) return false;
  if (!ChecksDisplayValueRange()) return true;
  const String text = Trim(VarToStr(DisplayValue));
  if (text.empty()) return true;
  Variant v;
  if (!TryTextToValue(text, v)) return false;
  if (IsOutOfBounds(v)) DisplayValue = Variant(ValueToText(v));
  return true;
}

void TvlCustomSpinEditProperties::ValidateDisplayValue(Variant& ADisplayValue, String& AErrorText, Boolean& AError,
                                                       TvlCustomEdit* AEdit) {
  auto* edit = dynamic_cast<TvlCustomSpinEdit*>(AEdit);
  Variant value;
  Boolean corrected = false, emptyText = false;
  if (!edit || edit->IsCustomText()) {
    const String text = VarToStr(ADisplayValue);
    emptyText = Trim(text).empty();
    String error;
    Boolean read;
    if (edit) {
      // An OnGetValue handler may free the editor and these properties with it.
      TvlObjectLinkScope alive(edit);
      read = edit->TextToEditValue(text, false, value, error);
      if (!alive.Alive()) return;
    } else {
      read = emptyText || TryTextToValue(text, value);
      if (!read && FExceptionOnInvalidInput) error = vlGetResourceStringText(vlSSpinEditInvalidNumericValue);
    }
    if (!read) {
      if (FExceptionOnInvalidInput) {
        AError = true;
        AErrorText = error;
      } else
        corrected = true;  // the previous value comes back
    }
  } else
    value = edit->InternalValue();
  if (!AError) {
    if ((VarIsNull(value) || VarIsEmpty(value)) && !emptyText) value = ClippedZero();
    if (VarIsNull(value) || VarIsEmpty(value))
      ADisplayValue = Variant(String());
    else {
      value = ToValueType(value);
      if (!FExceptionOnInvalidInput) {
        Variant min, max;
        GetMinBound(min);
        GetMaxBound(max);
        if (value < min) {
          value = min;
          corrected = true;
        } else if (max < value) {
          value = max;
          corrected = true;
        }
      }
      ADisplayValue = Variant(ValueToText(value));
      if (FExceptionOnInvalidInput && IsOutOfBounds(value)) {
        AError = true;
        AErrorText = vlGetResourceStringText(vlSEditValueOutOfBounds);
      }
    }
  }
  // A text the editor replaced (not a number, or outside the bounds) is not
  // replaced silently: the user hears it.
  if (corrected && edit) MessageBeep(0);
  inherited::ValidateDisplayValue(ADisplayValue, AErrorText, AError, AEdit);
}

CL_IMPLEMENT_CLASS_PUBLISHED(TvlSpinEditProperties, P) {
  using T = TvlSpinEditProperties;
  P.Property(u"Alignment", &T::Alignment, &T::SetAlignment).Stored(&T::IsAlignmentStored);
  P.Property(u"AssignedValues", &T::AssignedValues, &T::SetAssignedValues);
  P.Property(u"AutoSelect", &T::AutoSelect, &T::SetAutoSelect).Default(true);
  P.Property(u"BeepOnError", &T::BeepOnError, &T::SetBeepOnError).Default(false);
  P.Property(u"CanEdit", &T::CanEdit, &T::SetCanEdit).Default(true);
  P.Property(u"ClearKey", &T::ClearKey, &T::SetClearKey).Default(Word(0));
  P.Property(u"DisplayFormat", &T::DisplayFormat, &T::SetDisplayFormat).Stored(&T::IsDisplayFormatStored);
  P.Property(u"EchoMode", &T::EchoMode, &T::SetEchoMode).Default(eemNormal);
  P.Property(u"EditFormat", &T::EditFormat, &T::SetEditFormat).Stored(&T::IsEditFormatStored);
  P.Property(u"ExceptionOnInvalidInput", &T::ExceptionOnInvalidInput, &T::SetExceptionOnInvalidInput)
      .Default(false);
  P.Property(u"HideSelection", &T::HideSelection, &T::SetHideSelection).Default(true);
  P.Property(u"ImeMode", &T::ImeMode, &T::SetImeMode).Default(imDontCare);
  P.Property(u"ImeName", &T::ImeName, &T::SetImeName);
  P.Property(u"ImmediatePost", &T::ImmediatePost, &T::SetImmediatePost).Default(false);
  P.Property(u"Increment", &T::Increment, &T::SetIncrement).Stored(&T::IsIncrementStored);
  P.Property(u"LargeIncrement", &T::LargeIncrement, &T::SetLargeIncrement).Stored(&T::IsLargeIncrementStored);
  P.Property(u"MaxValue", &T::MaxValue, &T::SetMaxValue).Stored(&T::IsMaxValueStored);
  P.Property(u"MinValue", &T::MinValue, &T::SetMinValue).Stored(&T::IsMinValueStored);
  P.Property(u"PasswordChar", &T::PasswordChar, &T::SetPasswordChar).Default(Char(0));
  P.Property(u"ReadOnly", &T::ReadOnly, &T::SetReadOnly).Stored(&T::IsReadOnlyStored);
  P.Property(u"SpinButtons", &T::SpinButtons, &T::SetSpinButtons);
  P.Property(u"UseCtrlIncrement", &T::UseCtrlIncrement, &T::SetUseCtrlIncrement).Default(false);
  P.Property(u"UseDisplayFormatWhenEditing", &T::UseDisplayFormatWhenEditing, &T::SetUseDisplayFormatWhenEditing)
      .Default(false);
  P.Property(u"UseLeftAlignmentOnEditing", &T::UseLeftAlignmentOnEditing, &T::SetUseLeftAlignmentOnEditing)
      .Stored(&T::IsUseLeftAlignmentOnEditingStored);
  P.Property(u"ValidateOnEnter", &T::ValidateOnEnter, &T::SetValidateOnEnter).Default(true);
  P.Property(u"ValueType", &T::ValueType, &T::SetValueType).Stored(&T::IsValueTypeStored);
  P.Property(u"OnChange", &T::OnChange, &T::SetOnChange);
  P.Property(u"OnEditValueChanged", &T::OnEditValueChanged, &T::SetOnEditValueChanged);
  P.Property(u"OnGetValue", &T::OnGetValue, &T::SetOnGetValue);
  P.Property(u"OnValidate", &T::OnValidate, &T::SetOnValidate);
}

// --- The editor: values -------------------------------------------------------------------------------------------

CL_IMPLEMENT_CLASS(TvlCustomSpinEdit)

void TvlCustomSpinEdit::Initialize() {
  inherited::Initialize();
  FInternalValue = Variant(0);
  FPressedState = epsNone;
  SetInternalEditValue(Variant(0));
}

void TvlCustomSpinEdit::Destroy() {
  FreeAndNil(FTimer);
  inherited::Destroy();
}

TvlCustomEditViewData* TvlCustomSpinEdit::MakeViewData() {
  TvlCustomEditViewData* data = inherited::MakeViewData();
  if (auto* spin = dynamic_cast<TvlSpinEditViewData*>(data)) spin->PressedState = FPressedState;
  return data;
}

Double TvlCustomSpinEdit::GetRoundedIncrement(TvlSpinEditButton AButton) {
  TvlCustomSpinEditProperties* p = ActiveProperties();
  const Double step = p->GetIncrement(AButton);
  if (p->ValueType() != vtInt) return step;
  const Double rounded = Double(DoubleToInt64(step));
  // A fractional step that rounds to nothing would leave the value where it
  // is without a word: it moves by the smallest whole step instead.
  if (rounded == 0 && step != 0) return step > 0 ? 1.0 : -1.0;
  return rounded;
}

Variant TvlCustomSpinEdit::GetValue() {
  TvlCustomSpinEditProperties* p = ActiveProperties();
  Variant v;
  if (InternalFocused()) {
    // Typed text is read without raising: a text that is not a number yet
    // ("-") gives the last value; only validation reports it.
    String error;
    if (FIsCustomText) {
      // An OnGetValue handler may free the editor: nothing of it is read then.
      TvlObjectLinkScope alive(this);
      TextToEditValue(CurrentDisplayText(), false, v, error);
      if (!alive.Alive()) return Variant(0);
    } else
      v = FInternalValue;
    if (!vlVarIsNumber(v)) v = p->ClippedZero();
  } else {
    const Variant& edit = EditValue();
    if (vlVarIsNumber(edit))
      v = edit;
    else if (VarIsStr(edit) && !VarToStr(edit).empty()) {
      if (!p->TryTextToValue(VarToStr(edit), v)) v = p->ClippedZero();
    } else
      v = p->ClippedZero();
  }
  return p->ToValueType(v);
}

void TvlCustomSpinEdit::GetDisplayTextForValue(const Variant& AValue, String& AText) {
  Variant display;
  ActiveProperties()->PrepareDisplayValue(AValue, display, InternalFocused());
  AText = VarToStr(display);
}

void TvlCustomSpinEdit::SetValue(const Variant& AValue) {
  if (!vlVarIsNumber(AValue)) return;
  Variant v = AValue;
  if (!ActiveProperties()->IsEditValueValid(v, InternalFocused())) return;
  SetInternalEditValue(v);
}

Boolean TvlCustomSpinEdit::TextToEditValue(const String& AText, Boolean AStrict, Variant& AValue,
                                          String& AErrorText) {
  TvlCustomSpinEditProperties* p = ActiveProperties();
  AErrorText = String();
  const String text = Trim(AText);
  if (text.empty()) {
    IvlEditDefaultValuesProvider* provider = p->IDefaultValuesProvider();
    AValue = provider && provider->DefaultRequired() ? p->ClippedZero() : Null();
    return true;
  }
  Variant v;
  Boolean error = !p->TryTextToValue(text, v);
  String errorText;
  TvlCustomSpinEditProperties* own = Properties();
  if (error && (Assigned(own->OnGetValue()) || Assigned(p->OnGetValue()))) {
    TvlObjectLinkScope alive(this);
    try {
      if (Assigned(own->OnGetValue())) own->RunGetValue(this, text, v, errorText, error);
      if (error && alive.Alive() && RepositoryItem() && p != own && Assigned(p->OnGetValue()))
        p->RunGetValue(this, text, v, errorText, error);
    } catch (const Exception& E) {
      if (AStrict) throw;
      errorText = E.Message();
      error = true;
    }
    if (!alive.Alive()) return false;
    // What the handler gave must be a number.
    if (!error && !vlVarIsNumber(v) && !(VarIsStr(v) && p->TryTextToValue(VarToStr(v), v))) error = true;
  }
  if (error) {
    if (errorText.empty()) errorText = vlGetResourceStringText(vlSSpinEditInvalidNumericValue);
    if (!p->ExceptionOnInvalidInput())
      errorText = String();
    else if (AStrict)
      throw EvlEditError(errorText);
    v = FInternalValue;
  }
  AErrorText = errorText;
  AValue = p->ToValueType(v);
  return !error;
}

void TvlCustomSpinEdit::PrepareEditValue(const Variant& ADisplayValue, Variant& EditValue, Boolean AEditFocused) {
  String error;
  TextToEditValue(VarToStr(ADisplayValue), !FLenientPreparing, EditValue, error);
}

void TvlCustomSpinEdit::SynchronizeDisplayValue() {
  TvlCustomSpinEditProperties* p = ActiveProperties();
  Variant v = EditValue();
  FInternalValue = p->IsEditValueValid(v, InternalFocused()) ? v : p->ClippedZero();
  FIsCustomText = false;
  inherited::SynchronizeDisplayValue();
}

void TvlCustomSpinEdit::SynchronizeEditValue() {
  // The text typed so far is read without raising: typing "-" is not an error yet.
  const Boolean saved = FLenientPreparing;
  FLenientPreparing = true;
  TvlObjectLinkScope alive(this);
  {
    Finally restore([&] {
      if (alive.Alive()) FLenientPreparing = saved;
    });
    inherited::SynchronizeEditValue();
  }
  if (alive.Alive()) FInternalValue = EditValue();
}

void TvlCustomSpinEdit::HandleInnerEditChange(TObject* Sender) {
  FIsCustomText = FIsCustomTextAction;
  FIsCustomTextAction = false;
  inherited::HandleInnerEditChange(Sender);
}

void TvlCustomSpinEdit::RangeCheckHook() {
  TvlCustomSpinEditProperties* p = ActiveProperties();
  // Reading typed text may run an OnGetValue handler that frees the editor.
  TvlObjectLinkScope alive(this);
  const Variant v = GetValue();
  if (!alive.Alive()) return;
  const Variant clipped = p->ClipValue(v);
  if (!vlVarEqualsStrict(p->ToValueType(clipped), v)) SetValue(clipped);
}

void TvlCustomSpinEdit::PropertiesChanged(TObject* Sender) {
  inherited::PropertiesChanged(Sender);
  if (!DataBinding() || !InnerEdit()) return;
  if (!DataBinding()->CanCheckEditorValue() && ModifiedAfterEnter()) RangeCheckHook();
}

// --- Stepping --------------------------------------------------------------------------------------------------

Boolean TvlCustomSpinEdit::Increment(TvlSpinEditButton AButton) {
  TvlObjectLinkScope alive(this);
  LockChangeEvents(true);
  Finally unlock([&] {
    if (alive.Alive()) LockChangeEvents(false);
  });
  if (!DoEditing() || !alive.Alive()) return false;
  TvlCustomSpinEditProperties* p = ActiveProperties();
  Variant min, max;
  p->GetMinBound(min);
  p->GetMaxBound(max);
  const Variant v = GetValue();
  if (!alive.Alive()) return false;
  const Boolean forward = IsForward(AButton);
  const TvlSpinBoundsMode mode = p->GetBoundsMode();
  const Double step = GetRoundedIncrement(AButton);
  Variant next;
  if (p->ValueType() == vtInt) {
    Int64 r = 0;
    if (!StepInt(v.AsInt64(), min.AsInt64(), max.AsInt64(), DoubleToInt64(step), forward, mode, r)) return false;
    next = Variant(r);
  } else {
    Double r = 0;
    if (!StepFloat(v.AsDouble(), min.AsDouble(), max.AsDouble(), step, forward, mode, r)) return false;
    next = Variant(r);
  }
  next = p->ToValueType(next);

  const String oldText = CurrentDisplayText();
  const Integer selStart = SelStart(), selLength = SelLength();
  FInternalValue = next;
  String text;
  GetDisplayTextForValue(next, text);
  {
    FIsCustomTextAction = false;
    const Boolean saved = IsKeyboardActionNow();
    SetKeyboardActionNow(true);
    Finally restore([&] {
      if (alive.Alive()) SetKeyboardActionNow(saved);
    });
    DataBinding()->SetDisplayValue(Variant(text));
    // The shown value is the edit value at once, focused or not.
    if (alive.Alive() && CurrentDisplayText() != oldText) SynchronizeEditValue();
  }
  if (!alive.Alive()) return false;
  FInternalValue = next;
  FIsCustomText = false;
  const Boolean changed = CurrentDisplayText() != oldText;
  if (!changed) return false;
  SetModifiedAfterEnter(true);
  if (p->KeepsSelectionOnSpin())
    SetSelection(selStart, selLength);
  else
    SetSelection(Integer(CurrentDisplayText().size()), 0);
  if (p->ImmediatePost() && CanPostEditValue() && ValidateEdit(false) && alive.Alive()) {
    InternalPostEditValue(false);
    if (alive.Alive()) SynchronizeDisplayValue();
  }
  return true;
}

// --- Keys ----------------------------------------------------------------------------------------------------------

namespace {

Boolean SpinButtonOfKey(Word AKey, TvlSpinEditButton& AButton) {
  switch (AKey) {
    case VK_UP: AButton = sebForward; return true;
    case VK_DOWN: AButton = sebBackward; return true;
    case VK_PRIOR: AButton = sebFastForward; return true;
    case VK_NEXT: AButton = sebFastBackward; return true;
    default: return false;
  }
}

}  // namespace

void TvlCustomSpinEdit::DoEditKeyDown(Word& Key, TShiftState Shift) {
  TvlCustomSpinEditProperties* p = ActiveProperties();
  TvlSpinEditButton button = sebForward;
  if (SpinButtonOfKey(Key, button) && (!p->UseCtrlIncrement() || Shift.Contains(ssCtrl))) {
    Key = 0;
    if (!DataBinding()->GetModified() && !DoEditing()) return;
    FPressedState = TvlSpinEditPressedState(Integer(button) + 1);
    if (HandleAllocated() && GetCapture() == WindowHandle()) ReleaseCapture();
    TvlObjectLinkScope alive(this);
    ShortRefreshContainer(false);
    if (alive.Alive()) Increment(button);
    return;
  }
  ReleaseSpinState();
  if (Key != VK_ESCAPE) StartUserTextAction();
  const Boolean pasteKey = Key == VK_INSERT && Shift.Contains(ssShift);
  if (!p->CanEdit() && (KeyDownModifiesValue(Key, Shift) || pasteKey || Key == VK_BACK)) {
    DoAfterKeyDown(Key, Shift);
    Key = 0;
    return;
  }
  inherited::DoEditKeyDown(Key, Shift);
}

void TvlCustomSpinEdit::DoEditKeyUp(Word& Key, TShiftState Shift) {
  TvlSpinEditButton button = sebForward;
  if (SpinButtonOfKey(Key, button)) ReleaseSpinState();
  inherited::DoEditKeyUp(Key, Shift);
}

Boolean TvlCustomSpinEdit::IsCharAcceptable(Char AChar) {
  TvlCustomSpinEditProperties* p = ActiveProperties();
  if (!p->CanEdit()) return AChar < 32 && AChar != Char(VK_BACK);
  if (AChar < 32) return true;
  if (Assigned(p->OnGetValue()) || Assigned(Properties()->OnGetValue())) return true;
  if (AChar < 256 && p->ValidChars().Contains(Byte(AChar))) return true;
  // No exponent in integer mode: "1e5" never reads as a 64-bit integer.
  return vlIsNumericInputChar(AChar, p->ValueType() == vtFloat ? vlnkFloatWithExponent : vlnkInteger);
}

void TvlCustomSpinEdit::DoEditKeyPress(Char& Key) {
  if (Key == u'.' || Key == u',') Key = FormatSettings().DecimalSeparator;
  if (Key >= 32 || Key == Char(VK_BACK)) {
    if (!IsCharAcceptable(Key)) {
      Key = 0;
      MessageBeep(0);
      return;
    }
    StartUserTextAction();
  }
  inherited::DoEditKeyPress(Key);
}

// --- Clipboard ------------------------------------------------------------------------------------------------------

void TvlCustomSpinEdit::ClearSelection() {
  if (InternalFocused() && !ActiveProperties()->CanEdit()) return;
  StartUserTextAction();
  inherited::ClearSelection();
}

void TvlCustomSpinEdit::CutToClipboard() {
  if (InternalFocused() && !ActiveProperties()->CanEdit()) return;
  StartUserTextAction();
  inherited::CutToClipboard();
}

void TvlCustomSpinEdit::PasteFromClipboard() {
  if (InternalFocused() && !ActiveProperties()->CanEdit()) return;
  StartUserTextAction();
  inherited::PasteFromClipboard();
}

// --- Mouse, wheel and the repeat timer ---------------------------------------------------------------------------

Boolean TvlCustomSpinEdit::DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos) {
  if (inherited::DoMouseWheel(Shift, WheelDelta, MousePos)) return true;
  if (!ActiveProperties()->UseMouseWheel() || HasPopupWindow()) return false;
  Increment(WheelDelta > 0 ? sebForward : sebBackward);
  return true;
}

void TvlCustomSpinEdit::ButtonDown(Integer AButtonIndex) {
  inherited::ButtonDown(AButtonIndex);
  if (FPressedState != epsNone || FTimer || AButtonIndex < 0 || AButtonIndex > Integer(sebFastForward)) return;
  TvlObjectLinkScope alive(this);
  Increment(TvlSpinEditButton(AButtonIndex));
  if (!alive.Alive() || ActiveProperties()->ReadOnly() || !DataBinding()->IsDataAvailable()) return;
  // Let go meanwhile (a handler moved the focus, the refresh found no button held).
  if (ViewInfo()->PressedButton < 0 && CaptureButtonVisibleIndex() < 0) return;
  FTimer = New<TvlTimer>(static_cast<TComponent*>(nullptr));
  FTimer->SetInterval(kFirstRepeatDelay);
  FTimer->SetOnTimer(TNotifyEvent(this, &TvlCustomSpinEdit::TimerTick));
  FTimer->SetEnabled(true);
}

void TvlCustomSpinEdit::TimerTick(TObject*) {
  if (!FTimer) return;
  FTimer->SetInterval(kRepeatInterval);
  TvlCustomEditViewInfo* vi = ViewInfo();
  const Integer pressed = vi->PressedButton;
  // No step while the mouse is off the held button.
  if (pressed < 0 || pressed >= vi->ButtonCount()) return;
  const Integer index = vi->ButtonsInfo[size_t(pressed)]->Index;
  if (index < 0 || index > Integer(sebFastForward)) return;
  // A step that raises ends the repeat: the failure is reported once.
  TvlObjectLinkScope alive(this);
  Boolean stepped = false;
  Finally stop([&] {
    if (!stepped && alive.Alive()) ReleaseSpinState();
  });
  Increment(TvlSpinEditButton(index));
  stepped = true;
}

void TvlCustomSpinEdit::ReleaseSpinState() {
  const Boolean held = FTimer || FPressedState != epsNone;
  FreeAndNil(FTimer);
  FPressedState = epsNone;
  if (!held) return;
  CancelButtonPress();
  if (HandleAllocated() && GetCapture() == WindowHandle()) ReleaseCapture();
  ShortRefreshContainer(false);
}

void TvlCustomSpinEdit::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  if (GetButtonIndexAt(TPoint{X, Y}) < 0) ReleaseSpinState();
  inherited::MouseDown(Button, Shift, X, Y);
}

void TvlCustomSpinEdit::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TvlObjectLinkScope alive(this);
  inherited::MouseUp(Button, Shift, X, Y);
  if (alive.Alive()) ReleaseSpinState();
}

Boolean TvlCustomSpinEdit::DoRefreshContainer(const TPoint& P, TvlMouseButton Button, TShiftState Shift,
                                              Boolean AIsMouseEvent) {
  const Boolean result = inherited::DoRefreshContainer(P, Button, Shift, AIsMouseEvent);
  if (FTimer && ViewInfo()->PressedButton < 0 && CaptureButtonVisibleIndex() < 0) ReleaseSpinState();
  return result;
}

void TvlCustomSpinEdit::HandleFocusChange() {
  ReleaseSpinState();
  inherited::HandleFocusChange();
}

// --- The published editor -------------------------------------------------------------------------------------------

CL_IMPLEMENT_CLASS_PUBLISHED(TvlSpinEdit, P) {
  using T = TvlSpinEdit;
  P.Property(u"AutoSize", &T::AutoSize, &T::SetAutoSize).Default(true);
  P.Property(u"BeepOnEnter", &T::BeepOnEnter, &T::SetBeepOnEnter).Default(true);
  P.Property(u"Properties", &T::Properties, &T::SetProperties);
  P.Property(u"Style", &T::Style, &T::SetStyle);
  P.Property(u"StyleDisabled", &T::StyleDisabled, &T::SetStyleDisabled);
  P.Property(u"StyleFocused", &T::StyleFocused, &T::SetStyleFocused);
  P.Property(u"StyleHot", &T::StyleHot, &T::SetStyleHot);
  P.Property(u"Value", &T::PublishedValue, &T::SetPublishedValue).Stored(&T::IsValueStored);
}

Boolean TvlSpinEdit::IsValueStored() {
  const Variant v = Value();
  return vlVarIsNumber(v) && v.AsDouble() != 0;
}

// --- The filter helper ----------------------------------------------------------------------------------------------

CL_IMPLEMENT_CLASS(TvlFilterSpinEditHelper)

TvlCustomEditClass TvlFilterSpinEditHelper::GetFilterEditClass() const { return ClassOf<TvlSpinEdit>(); }

TvlFilterControlOperators TvlFilterSpinEditHelper::GetSupportedFilterOperators(TvlCustomEditProperties*,
                                                                             TvlValueTypeClass,
                                                                             Boolean AExtendedSet) const {
  return vlOrderedValueFilterOperators(AExtendedSet);
}

void TvlFilterSpinEditHelper::InitializeProperties(TvlCustomEditProperties* AProperties,
                                                   TvlCustomEditProperties* AEditProperties,
                                                   Boolean AHasButtons) const {
  inherited::InitializeProperties(AProperties, AEditProperties, AHasButtons);
  if (auto* p = dynamic_cast<TvlCustomSpinEditProperties*>(AProperties)) p->SetCanEdit(true);
}
