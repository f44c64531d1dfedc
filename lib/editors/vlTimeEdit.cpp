#include "lib/editors/vlTimeEdit.h"

#include <algorithm>
#include <cmath>

#include "lib/editors/vlEditConsts.h"
#include "lib/editors/vlInnerTextEdit.h"
#include "lib/foundation/vlVariants.h"
#include "platform/classes/ClassRegistry.h"
#include "platform/classes/ModuleInit.h"
#include "platform/classes/TypInfoBuild.h"
#include "platform/rtl/Conversions.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/Finally.h"
#include "platform/rtl/Locale.h"
#include "platform/rtl/Numbers.h"
#include "platform/win/Windows.h"

using namespace win;

class TvlTimeEditFormatListener;

namespace {

// Per time format: 12-hour display format, 12-hour mask, 24-hour display format, 24-hour mask.
String gFormats[3][4] = {
    {u"hh:nn:ss ampm", u"00:00:00 LL;1;0", u"hh:nn:ss", u"00:00:00;1;0"},
    {u"hh:nn ampm", u"00:00 LL;1;0", u"hh:nn", u"00:00;1;0"},
    {u"hh ampm", u"00 LL;1;0", u"hh", u"00;1;0"},
};

// Seconds per step of each part: hour, minute, second, AM/PM.
constexpr Double kPartSeconds[] = {3600, 60, 1, 43200};
constexpr Double kSecondsPerDay = 86400;

TvlTimeEditFormatListener* gListener = nullptr;
Integer gStartupCount = 0;

void Startup();
void Shutdown();

Boolean IsDigit(Char C) { return C >= u'0' && C <= u'9'; }

// The date part and the sign used to add a time to it.
TDateTime AddTime(TDateTime ADate, TDateTime ATime) {
  const Double sign = ADate < 0 ? -1.0 : 1.0;
  return ADate + sign * std::fabs(Frac(ATime));
}

}  // namespace

// Keeps the 12-hour masks in step with the locale's designators.
class TvlTimeEditFormatListener : public TvlInterfacedPersistent, public IvlFormatControllerListener {
  CL_CLASS(TvlTimeEditFormatListener, TvlInterfacedPersistent)
 public:
  void Create(TPersistent* AOwner) override {
    inherited::Create(AOwner);
    vlFormatController()->AddListener(this);
    vlRebuildTimeEditMasks();
  }
  void Destroy() override {
    if (TvlFormatController* c = vlExistingFormatController()) c->RemoveListener(this);
    inherited::Destroy();
  }
  void FormatChanged() override { vlRebuildTimeEditMasks(); }
};

CL_IMPLEMENT_CLASS(TvlTimeEditFormatListener)

namespace {

void Startup() {
  if (gStartupCount++ > 0) return;
  gListener = New<TvlTimeEditFormatListener>(static_cast<TPersistent*>(nullptr));
  vlGetEditPropertiesRegistry()->Register(ClassOf<TvlTimeEditProperties>(),
                                          vlGetResourceStringText(svlSEditRepositoryTimeItem));
  vlFilterEditsController()->Register(ClassOf<TvlTimeEditProperties>(), ClassOf<TvlFilterTimeEditHelper>());
  RegisterClasses({ClassOf<TvlTimeEdit>(), ClassOf<TvlTimeEditProperties>()});
}

void Shutdown() {
  if (gStartupCount == 0 || --gStartupCount > 0) return;
  vlFilterEditsController()->Unregister(ClassOf<TvlTimeEditProperties>(), ClassOf<TvlFilterTimeEditHelper>());
  if (TvlRegisteredClasses* registry = vlGetEditPropertiesRegistry())
    registry->Unregister(ClassOf<TvlTimeEditProperties>());
  FreeAndNil(gListener);
}

}  // namespace

CL_UNIT_STEPS(vlTimeEdit, &Startup, &Shutdown);

const String& vlTimeEditFormat(TvlTimeEditTimeFormat AFormat, Integer AColumn) {
  return gFormats[Integer(AFormat)][AColumn];
}

void vlRebuildTimeEditMasks() {
  // What follows the seconds in noon's text: a space stays, every other
  // character is an optional character of the mask.
  const String noon = FormatDateTime(u"hh:nn:ss ampm", 0.5);
  String suffix;
  for (size_t i = 8; i < noon.size(); ++i) suffix += noon[i] == u' ' ? u' ' : u'c';
  while (!suffix.empty() && suffix.back() == u' ') suffix.pop_back();
  static const Integer lengths[] = {8, 5, 2};
  for (Integer f = 0; f < 3; ++f)
    gFormats[f][1] = String(u"00:00:00").substr(0, size_t(lengths[f])) + suffix + u";1;0";
}

// --- Properties -------------------------------------------------------------------------------------------------

CL_IMPLEMENT_CLASS(TvlTimeEditMaskMode)

// The designator follows the digits after a space ("00:00:00 cc").
Char TvlTimeEditMaskMode::GetBlankAt(Integer APos) {
  const size_t space = EditMask().find(u' ');
  return space != String::npos && size_t(APos) > space ? Char(0) : GetBlank();
}

CL_IMPLEMENT_CLASS(TvlCustomTimeEditProperties)

void TvlCustomTimeEditProperties::Create(TPersistent* AOwner) {
  inherited::Create(AOwner);
  FAutoCorrectHours = true;
  FTimeFormat = tfHourMinSec;
  FUse24HourFormat = true;
  FUseTimeFormatWhenUnfocused = true;
  SetValueType(vtFloat);
  ApplyEditMask();
  SetIgnoreMaskBlank(true);
  SetAlwaysShowBlanksAndLiterals(true);
  SetIncrement(1);
  SetMinValue(0);
  SetMaxValue(86399);
}

void TvlCustomTimeEditProperties::Assign(TPersistent* Source) {
  auto* src = dynamic_cast<TvlCustomTimeEditProperties*>(Source);
  BeginUpdate();
  Finally done([&] { EndUpdate(true); });
  inherited::Assign(Source);
  if (!src) return;
  SetAutoCorrectHours(src->AutoCorrectHours());
  SetShowDate(src->ShowDate());
  SetTimeFormat(src->TimeFormat());
  SetUse24HourFormat(src->Use24HourFormat());
  SetUseTimeFormatWhenUnfocused(src->UseTimeFormatWhenUnfocused());
}

void TvlCustomTimeEditProperties::ApplyEditMask() {
  SetEditMask(vlTimeEditFormat(FTimeFormat, FUse24HourFormat ? 3 : 1));
}

const String& TvlCustomTimeEditProperties::TimeDisplayFormat() const {
  return vlTimeEditFormat(FTimeFormat, FUse24HourFormat ? 2 : 0);
}

void TvlCustomTimeEditProperties::LocaleFormatsChanged() {
  // The masks are rebuilt first (the listener made at start-up comes first).
  vlRebuildTimeEditMasks();
  ApplyEditMask();
  inherited::LocaleFormatsChanged();
}

void TvlCustomTimeEditProperties::SetShowDate(Boolean Value) {
  if (FShowDate == Value) return;
  FShowDate = Value;
  Changed();
}

void TvlCustomTimeEditProperties::SetTimeFormat(TvlTimeEditTimeFormat Value) {
  if (FTimeFormat == Value) return;
  FTimeFormat = Value;
  ApplyEditMask();
  Changed();
}

void TvlCustomTimeEditProperties::SetUse24HourFormat(Boolean Value) {
  if (FUse24HourFormat == Value) return;
  FUse24HourFormat = Value;
  ApplyEditMask();
  Changed();
}

void TvlCustomTimeEditProperties::SetUseTimeFormatWhenUnfocused(Boolean Value) {
  if (FUseTimeFormatWhenUnfocused == Value) return;
  FUseTimeFormatWhenUnfocused = Value;
  Changed();
}

TvlCustomEditClass TvlCustomTimeEditProperties::GetContainerClass() const { return ClassOf<TvlTimeEdit>(); }

TvlMaskEditModeClass TvlCustomTimeEditProperties::GetModeClass(TvlEditMaskKind) const {
  return ClassOf<TvlTimeEditMaskMode>();
}

void TvlCustomTimeEditProperties::GetAmPmStyle(String& AAm, String& APm) {
  AAm = FormatSettings().TimeAMString;
  APm = FormatSettings().TimePMString;
}

Integer TvlCustomTimeEditProperties::GetTimePartStart(TvlTimePart APart) {
  if (APart == tpAmPm) return 10 - 3 * Integer(FTimeFormat);
  return 3 * Integer(APart) + 1;
}

void TvlCustomTimeEditProperties::GetTimePartInfo(Integer APos, TvlTimePartInfo& AInfo) {
  Integer p = APos;
  if (MaxLength() > 0) p = std::min(p, MaxLength());
  AInfo.Use24HourFormat = FUse24HourFormat;
  GetAmPmStyle(AInfo.AmString, AInfo.PmString);
  if (!FUse24HourFormat && p > DigitsLength()) {
    AInfo.Kind = tpAmPm;
  } else {
    const String format = UpperCase(TimeDisplayFormat());
    p = std::clamp(p, 1, Integer(format.size()));
    Char c = format[size_t(p - 1)];
    if (c != u'H' && c != u'N' && c != u'S') c = format[size_t(std::min(p + 1, Integer(format.size())) - 1)];
    AInfo.Kind = c == u'H' ? tpHour : c == u'N' ? tpMinute : tpSecond;
  }
  AInfo.Start = GetTimePartStart(AInfo.Kind);
  AInfo.Length = GetTimePartLength(AInfo.Kind);
}

Boolean TvlCustomTimeEditProperties::TryTextToDateTime(const String& AText, TDateTime& AValue) {
  const String text = Trim(AText);
  return !text.empty() && (TryStrToTime(text, AValue) || TryStrToDateTime(text, AValue));
}

void TvlCustomTimeEditProperties::PrepareDisplayValue(const Variant& AEditValue, Variant& DisplayValue,
                                                      Boolean AEditFocused) {
  auto trimmed = [](const String& S) { return TrimRight(S); };
  if (VarIsNull(AEditValue) || VarIsEmpty(AEditValue)) {
    DisplayValue = Variant(AEditFocused ? trimmed(FormatDateTime(TimeDisplayFormat(), 0)) : String());
    return;
  }
  if (!VarIsStr(AEditValue) && !vlVarIsNumber(AEditValue) && !vlVarIsDateTime(AEditValue))
    throw EConvertError(vlGetResourceStringText(vlSEditTimeConvertError));
  TDateTime value = 0;
  if (VarIsStr(AEditValue)) {
    if (!TryTextToDateTime(VarToStr(AEditValue), value)) {
      // Never the current time or midnight for a text that does not read.
      DisplayValue = Variant(VarToStr(AEditValue));
      return;
    }
  } else
    value = AEditValue.AsDouble();
  const Boolean withDate = FShowDate && value != 0 && Int(value) != 0;
  String text;
  try {
    if (AEditFocused)
      text = FormatDateTime(TimeDisplayFormat(), value);
    else if (withDate)
      text = DateTimeToStr(value);
    else
      text = FUseTimeFormatWhenUnfocused ? FormatDateTime(TimeDisplayFormat(), value) : TimeToStr(value);
  } catch (const Exception&) {
    text = VarToStr(AEditValue);
  }
  DisplayValue = Variant(trimmed(text));
}

Variant TvlCustomTimeEditProperties::GetEmptyDisplayValue() {
  return Variant(TrimRight(FormatDateTime(TimeDisplayFormat(), 0)));
}

Boolean TvlCustomTimeEditProperties::IsDisplayValueValid(Variant& DisplayValue, Boolean) {
  TDateTime value = 0;
  if (!TryTextToDateTime(VarToStr(DisplayValue), value)) return false;
  DisplayValue = Variant(TrimRight(FormatDateTime(TimeDisplayFormat(), value)));
  return true;
}

Boolean TvlCustomTimeEditProperties::IsEditValueValid(Variant& EditValue, Boolean AEditFocused) {
  if (VarIsStr(EditValue)) {
    Variant display = EditValue;
    return IsDisplayValueValid(display, AEditFocused);
  }
  return VarIsNull(EditValue) || VarIsEmpty(EditValue) || vlVarIsDateTime(EditValue) || vlVarIsNumber(EditValue);
}

void TvlCustomTimeEditProperties::ValidateDisplayValue(Variant& ADisplayValue, String& AErrorText, Boolean& AError,
                                                       TvlCustomEdit* AEdit) {
  Variant display = ADisplayValue;
  if (!AError && !IsDisplayValueValid(display, true)) AError = true;
  if (AError && AErrorText.empty()) AErrorText = vlGetResourceStringText(vlSEditTimeConvertError);
  // The editors' common validation: the spin editor's numeric rules do not apply.
  TvlCustomEditProperties::ValidateDisplayValue(ADisplayValue, AErrorText, AError, AEdit);
}

CL_IMPLEMENT_CLASS_PUBLISHED(TvlTimeEditProperties, P) {
  using T = TvlTimeEditProperties;
  P.Property(u"Alignment", &T::Alignment, &T::SetAlignment).Stored(&T::IsAlignmentStored);
  P.Property(u"AssignedValues", &T::AssignedValues, &T::SetAssignedValues);
  P.Property(u"AutoCorrectHours", &T::AutoCorrectHours, &T::SetAutoCorrectHours).Default(true);
  P.Property(u"AutoSelect", &T::AutoSelect, &T::SetAutoSelect).Default(true);
  P.Property(u"BeepOnError", &T::BeepOnError, &T::SetBeepOnError).Default(false);
  P.Property(u"Circular", &T::Circular, &T::SetCircular).Default(false);
  P.Property(u"ClearKey", &T::ClearKey, &T::SetClearKey).Default(Word(0));
  P.Property(u"HideSelection", &T::HideSelection, &T::SetHideSelection).Default(true);
  P.Property(u"ImeMode", &T::ImeMode, &T::SetImeMode).Default(imDontCare);
  P.Property(u"ImeName", &T::ImeName, &T::SetImeName);
  P.Property(u"ImmediatePost", &T::ImmediatePost, &T::SetImmediatePost).Default(false);
  P.Property(u"Increment", &T::Increment, &T::SetIncrement).Stored(&T::IsIncrementStored);
  P.Property(u"LargeIncrement", &T::LargeIncrement, &T::SetLargeIncrement).Stored(&T::IsLargeIncrementStored);
  P.Property(u"ReadOnly", &T::ReadOnly, &T::SetReadOnly).Stored(&T::IsReadOnlyStored);
  P.Property(u"ShowDate", &T::ShowDate, &T::SetShowDate).Default(false);
  P.Property(u"SpinButtons", &T::SpinButtons, &T::SetSpinButtons);
  P.Property(u"TimeFormat", &T::TimeFormat, &T::SetTimeFormat).Default(tfHourMinSec);
  P.Property(u"Use24HourFormat", &T::Use24HourFormat, &T::SetUse24HourFormat).Default(true);
  P.Property(u"UseCtrlIncrement", &T::UseCtrlIncrement, &T::SetUseCtrlIncrement).Default(false);
  P.Property(u"UseLeftAlignmentOnEditing", &T::UseLeftAlignmentOnEditing, &T::SetUseLeftAlignmentOnEditing)
      .Stored(&T::IsUseLeftAlignmentOnEditingStored);
  P.Property(u"UseTimeFormatWhenUnfocused", &T::UseTimeFormatWhenUnfocused, &T::SetUseTimeFormatWhenUnfocused)
      .Default(true);
  P.Property(u"ValidateOnEnter", &T::ValidateOnEnter, &T::SetValidateOnEnter).Default(true);
  P.Property(u"OnChange", &T::OnChange, &T::SetOnChange);
  P.Property(u"OnEditValueChanged", &T::OnEditValueChanged, &T::SetOnEditValueChanged);
  P.Property(u"OnValidate", &T::OnValidate, &T::SetOnValidate);
}

// --- The editor -----------------------------------------------------------------------------------------------------

CL_IMPLEMENT_CLASS(TvlCustomTimeEdit)

void TvlCustomTimeEdit::Initialize() {
  inherited::Initialize();
  // The text is a time: it never follows the component's name.
  TControlStyle style = ControlStyle();
  style.Exclude(csSetCaption);
  SetControlStyle(style);
}

void TvlCustomTimeEdit::PropertiesChanged(TObject* Sender) {
  if (!InternalFocused() && DataBinding()) DataBinding()->UpdateDisplayValue();
  if (InnerEdit() && HandleAllocated()) SetSelection(Integer(CurrentDisplayText().size()), 0);
  inherited::PropertiesChanged(Sender);
}

void TvlCustomTimeEdit::InternalSetEditValue(const Variant& AValue, Boolean AValidate) {
  Variant check = AValue;
  TDateTime date = 0;
  if (VarIsNull(AValue) || VarIsEmpty(AValue) || (AValidate && !ActiveProperties()->IsEditValueValid(check, true)))
    FSavedDate = 0;
  else if (VarIsStr(AValue)) {
    if (TryStrToDateTime(Trim(VarToStr(AValue)), date) || TryStrToTime(Trim(VarToStr(AValue)), date))
      FSavedDate = Int(date);
  } else if (vlVarIsNumber(AValue) || vlVarIsDateTime(AValue))
    FSavedDate = Int(AValue.AsDouble());
  inherited::InternalSetEditValue(AValue, AValidate);
}

void TvlCustomTimeEdit::PrepareEditValue(const Variant& ADisplayValue, Variant& EditValue, Boolean) {
  TvlCustomTimeEditProperties* p = ActiveProperties();
  String text = VarToStr(ADisplayValue);
  // An empty text is no time at all, as Null shows no text.
  if (Trim(text).empty()) {
    EditValue = Null();
    return;
  }
  String am, pm;
  p->GetAmPmStyle(am, pm);
  if (!p->Use24HourFormat()) {
    const String designator = text.size() > size_t(p->DigitsLength()) ? text.substr(size_t(p->DigitsLength())) : String();
    text = text.substr(0, std::min(text.size(), size_t(p->DigitsLength())));
    if (text.size() == 2) text += u":00";
    text += u" " + (!am.empty() && designator.find(am) != String::npos ? am : pm);
  } else if (text.size() == 2)
    text += u":00";
  TDateTime time = 0;
  if (!Trim(text).empty() && !TryStrToTime(Trim(text), time)) {
    // Text that does not read keeps the last good value: validation refuses it.
    EditValue = this->EditValue();
    return;
  }
  EditValue = VarFromDateTime(AddTime(FSavedDate, time));
}

Variant TvlCustomTimeEdit::GetEditingValue() {
  Variant v;
  PrepareEditValue(Variant(CurrentDisplayText()), v, true);
  return v;
}

TDateTime TvlCustomTimeEdit::Time() {
  Variant v;
  if (InternalFocused())
    PrepareEditValue(Variant(CurrentDisplayText()), v, true);
  else
    v = EditValue();
  TDateTime value = 0;
  if (VarIsStr(v)) {
    // A text that does not read has no time: an error, not midnight.
    const String text = Trim(VarToStr(v));
    if (!TryStrToDateTime(text, value) && !TryStrToTime(text, value))
      throw EConvertError(vlGetResourceStringText(vlSEditTimeConvertError));
  } else if (vlVarIsNumber(v) || vlVarIsDateTime(v))
    value = v.AsDouble();
  return std::fabs(Frac(value));
}

void TvlCustomTimeEdit::SetTime(TDateTime Value) { SetInternalEditValue(VarFromDateTime(AddTime(FSavedDate, Value))); }

Variant TvlCustomTimeEdit::GetValue() {
  TvlCustomTimeEditProperties* p = ActiveProperties();
  const String text = CurrentDisplayText();
  auto number = [&](size_t AStart) {
    return AStart + 2 <= text.size() ? StrToIntDef(text.substr(AStart, 2), 0) : 0;
  };
  Integer seconds = number(0);
  if (!p->Use24HourFormat()) seconds %= 12;
  seconds *= 3600;
  if (p->TimeFormat() != tfHour) seconds += number(3) * 60;
  if (p->TimeFormat() == tfHourMinSec) seconds += number(6);
  String am, pm;
  p->GetAmPmStyle(am, pm);
  if (!p->Use24HourFormat() && !pm.empty() && text.size() >= pm.size() &&
      text.compare(text.size() - pm.size(), pm.size(), pm) == 0)
    seconds += 43200;
  return Variant(Double(seconds));
}

void TvlCustomTimeEdit::SetValue(const Variant& AValue) {
  if (vlVarIsNumber(AValue)) SetTime(AValue.AsDouble() / kSecondsPerDay);
}

void TvlCustomTimeEdit::GetDisplayTextForValue(const Variant& AValue, String& AText) {
  Variant display;
  ActiveProperties()->PrepareDisplayValue(VarFromDateTime(AValue.AsDouble() * 1000 / 86400000), display,
                                          InternalFocused());
  AText = VarToStr(display);
}

TvlTimePart TvlCustomTimeEdit::CaretPart() {
  TvlTimePartInfo info;
  ActiveProperties()->GetTimePartInfo(InnerEdit() ? SelStart() + 1 : 1, info);
  return info.Kind;
}

Double TvlCustomTimeEdit::GetRoundedIncrement(TvlSpinEditButton AButton) {
  TvlCustomTimeEditProperties* p = ActiveProperties();
  if (FSpinPart == tpAmPm) return GetValue().AsDouble() < 43200 ? 43200 : -43200;
  const Boolean fast = AButton == sebFastBackward || AButton == sebFastForward;
  const Double sign = AButton == sebBackward || AButton == sebFastBackward ? -1 : 1;
  return sign * (fast ? p->LargeIncrement() : p->Increment()) * kPartSeconds[FSpinPart];
}

Boolean TvlCustomTimeEdit::Increment(TvlSpinEditButton AButton) {
  // A step from a text that does not read would start at midnight.
  const String shown = CurrentDisplayText();
  Variant check(shown);
  if (!Trim(shown).empty() && !ActiveProperties()->IsDisplayValueValid(check, InternalFocused())) {
    MessageBeep(0);
    return false;
  }
  const Boolean windowed = InnerEdit() && HandleAllocated();
  const Integer caret = windowed ? SelStart() : 0;
  FSpinPart = windowed ? CaretPart() : tpHour;
  TvlObjectLinkScope alive(this);
  const Boolean changed = inherited::Increment(AButton);
  if (!alive.Alive() || !windowed) return changed;
  TvlCustomTimeEditProperties* p = ActiveProperties();
  if (FSpinPart == tpAmPm) {
    const String text = CurrentDisplayText();
    size_t start = size_t(9 - 3 * Integer(p->TimeFormat()));
    while (start < text.size() && text[start] == u' ') ++start;
    SetSelection(Integer(start), Integer(text.size() - std::min(start, text.size())));
  } else
    SetSelection(caret <= 1 ? 1 : caret <= 4 ? 4 : 7, 1);
  return changed;
}

void TvlCustomTimeEdit::ShowTypedText(const String& AText, Integer ACaret) {
  if (!InnerEdit()) return;
  const Boolean saved = IsKeyboardActionNow();
  SetKeyboardActionNow(true);
  TvlObjectLinkScope alive(this);
  {
    Finally restore([&] {
      if (alive.Alive()) SetKeyboardActionNow(saved);
    });
    InnerEdit()->SetEditValue(Variant(AText));
  }
  if (!alive.Alive()) return;
  if (Mode()) Mode()->SetText(AText);
  Integer caret = ACaret;
  if (caret < Integer(AText.size()) && (AText[size_t(caret)] == u':' || AText[size_t(caret)] == u' ')) ++caret;
  SetSelection(caret, caret < Integer(AText.size()) ? 1 : 0);
}

// Typing keeps every part a valid number: a digit that cannot stand where
// it is typed is moved or completed ("9" as the first hour digit gives 09).
Boolean TvlCustomTimeEdit::CanTypeChar(Integer APos, Char& AChar) {
  TvlCustomTimeEditProperties* p = ActiveProperties();
  String text = CurrentDisplayText();
  TvlTimePartInfo info;
  p->GetTimePartInfo(APos + 1, info);
  const Integer P = APos + 1;
  if (info.Kind == tpAmPm) {
    // Designators compare in the locale's case rules ("ö" types "Ö").
    const String& am = info.AmString;
    const String& pm = info.PmString;
    Integer d = 1;
    while (d <= Integer(std::min(am.size(), pm.size())) &&
           AnsiUpperCase(am.substr(size_t(d - 1), 1)) == AnsiUpperCase(pm.substr(size_t(d - 1), 1)))
      ++d;
    const Integer i = P - info.Start + 1;
    const String c = AnsiUpperCase(String(1, AChar));
    auto same = [&](const String& S, Integer AIndex) {
      return AIndex >= 1 && AIndex <= Integer(S.size()) && AnsiUpperCase(S.substr(size_t(AIndex - 1), 1)) == c;
    };
    if (i < d) {
      if (!same(am, i)) return false;
      AChar = am[size_t(i - 1)];
      return true;
    }
    if (i > d) {
      if (P > Integer(text.size()) || AnsiUpperCase(text.substr(size_t(P - 1), 1)) != c) return false;
      AChar = text[size_t(P - 1)];
      return true;
    }
    const String* designator = same(am, d) ? &am : same(pm, d) ? &pm : nullptr;
    if (!designator) return false;
    const size_t start = size_t(info.Start - 1);
    text = text.substr(0, std::min(start, text.size())) + *designator;
    ShowTypedText(text, Integer(text.size()));
    return false;
  }
  if (!IsDigit(AChar) || P > Integer(text.size())) return true;
  const Integer maximum = info.Kind == tpHour ? (p->Use24HourFormat() ? 23 : 12) : 59;
  const Integer minimum = info.Kind == tpHour && !p->Use24HourFormat() ? 1 : 0;
  const size_t start = size_t(info.Start - 1);
  if (start + 2 > text.size()) return true;
  String field = text.substr(start, 2);
  const Boolean first = size_t(APos) == start;
  field[first ? 0 : 1] = AChar;
  const Integer value = (field[0] - u'0') * 10 + (field[1] - u'0');
  if (value >= minimum && value <= maximum) return true;
  const Char maxFirst = Char(u'0' + maximum / 10);
  if (first) {
    if (AChar == u'0')
      field = String(1, u'0') + text[start];
    else if (AChar > maxFirst)
      field = String(1, u'0') + AChar;
    else
      field = String(1, AChar) + u'0';
    text.replace(start, 2, field);
    ShowTypedText(text, Integer(start) + (AChar > maxFirst ? 2 : 1));
    return false;
  }
  if (AChar == u'0') {
    AChar = 0;  // refused with a beep
    return true;
  }
  text[start] = u'0';
  text[start + 1] = AChar;
  ShowTypedText(text, Integer(start) + 2);
  return false;
}

// --- The published editor and the filter helper ------------------------------------------------------------------

CL_IMPLEMENT_CLASS_PUBLISHED(TvlTimeEdit, P) {
  using T = TvlTimeEdit;
  P.Property(u"AutoSize", &T::AutoSize, &T::SetAutoSize).Default(true);
  P.Property(u"EditValue", &T::PublishedEditValue, &T::SetPublishedEditValue);
  P.Property(u"Properties", &T::Properties, &T::SetProperties);
  P.Property(u"Style", &T::Style, &T::SetStyle);
  P.Property(u"StyleDisabled", &T::StyleDisabled, &T::SetStyleDisabled);
  P.Property(u"StyleFocused", &T::StyleFocused, &T::SetStyleFocused);
  P.Property(u"StyleHot", &T::StyleHot, &T::SetStyleHot);
  P.Property(u"Time", &T::PublishedTime, &T::SetPublishedTime).Stored(false);
}

CL_IMPLEMENT_CLASS(TvlFilterTimeEditHelper)

TvlCustomEditClass TvlFilterTimeEditHelper::GetFilterEditClass() const { return ClassOf<TvlTimeEdit>(); }

void TvlFilterTimeEditHelper::InitializeFilterEdit(TvlCustomEdit* AEdit,
                                                   TvlCustomEditProperties* AEditProperties) const {
  inherited::InitializeFilterEdit(AEdit, AEditProperties);
  if (auto* edit = dynamic_cast<TvlCustomTimeEdit*>(AEdit)) edit->SetTime(0);
}
