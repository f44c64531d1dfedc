#include "lib/editors/vlEditStyles.h"

#include "lib/editors/vlEdit.h"
#include "platform/classes/TypInfoBuild.h"
#include "platform/rtl/Finally.h"
#include "platform/vcl/Graphics.h"

namespace {

TvlEditStyleController* gDefaultEditStyleController = nullptr;

const char16_t* const kEditValueNames[] = {u"ButtonStyle",     u"ButtonTransparency", u"PopupBorderStyle",
                                           u"GradientButtons", u"Gradient",           u"GradientDirection"};

}  // namespace

TvlEditStyleController* vlDefaultEditStyleController() { return gDefaultEditStyleController; }
void vlSetDefaultEditStyleController(TvlEditStyleController* AController) { gDefaultEditStyleController = AController; }

// --- TvlCustomEditStyle -----------------------------------------------------------------------------

CL_IMPLEMENT_CLASS(TvlCustomEditStyle)

CL_IMPLEMENT_CLASS_PUBLISHED(TvlEditStyle, P) {
  // The editors' border style goes by its own names (ebsSingle, ...) in form
  // files; the value is the container's.
  P.Property(u"BorderStyle", &TvlEditStyle::EditBorderStyle, &TvlEditStyle::SetEditBorderStyle)
      .Stored([](TvlEditStyle* S) { return S->OwnAssigned(svBorderStyle); });
  P.Property(u"ButtonStyle", &TvlEditStyle::ButtonStyle, &TvlEditStyle::SetButtonStyle)
      .Stored([](TvlEditStyle* S) { return S->OwnAssigned(svButtonStyle); });
  P.Property(u"ButtonTransparency", &TvlEditStyle::ButtonTransparency, &TvlEditStyle::SetButtonTransparency)
      .Stored([](TvlEditStyle* S) { return S->OwnAssigned(svButtonTransparency); });
  P.Property(u"Gradient", &TvlEditStyle::Gradient, &TvlEditStyle::SetGradient)
      .Stored([](TvlEditStyle* S) { return S->OwnAssigned(svGradient); });
  P.Property(u"GradientDirection", &TvlEditStyle::GradientDirection, &TvlEditStyle::SetGradientDirection)
      .Stored([](TvlEditStyle* S) { return S->OwnAssigned(svGradientDirection); });
  P.Property(u"PopupBorderStyle", &TvlEditStyle::PopupBorderStyle, &TvlEditStyle::SetPopupBorderStyle)
      .Stored([](TvlEditStyle* S) { return S->OwnAssigned(svPopupBorderStyle); });
}

CL_IMPLEMENT_CLASS_PUBLISHED(TvlEditStyleController, P) {
  P.Property(u"Style", &TvlEditStyleController::Style, &TvlEditStyleController::SetStyle);
  P.Property(u"StyleDisabled", &TvlEditStyleController::StyleDisabled, &TvlEditStyleController::SetStyleDisabled);
  P.Property(u"StyleFocused", &TvlEditStyleController::StyleFocused, &TvlEditStyleController::SetStyleFocused);
  P.Property(u"StyleHot", &TvlEditStyleController::StyleHot, &TvlEditStyleController::SetStyleHot);
}

void TvlCustomEditStyle::Create(TPersistent* AOwner, Boolean ADirectAccessMode, TvlContainerStyle* AParentStyle,
                                TvlContainerStateItem AState) {
  inherited::Create(AOwner, ADirectAccessMode, AParentStyle, AState);
  FPopupCloseButton = true;
}

void TvlCustomEditStyle::Assign(TPersistent* Source) {
  TvlCustomEditStyle* src = dynamic_cast<TvlCustomEditStyle*>(Source);
  if (!src) {
    inherited::Assign(Source);
    return;
  }
  BeginUpdate();
  Finally done([&] { EndUpdate(); });
  FButtonStyle = src->FButtonStyle;
  FButtonTransparency = src->FButtonTransparency;
  FGradient = src->FGradient;
  FGradientButtons = src->FGradientButtons;
  FGradientDirection = src->FGradientDirection;
  FPopupBorderStyle = src->FPopupBorderStyle;
  FPopupCloseButton = src->FPopupCloseButton;
  inherited::Assign(Source);
  NotifyChanged();
}

TvlCustomEdit* TvlCustomEditStyle::Edit() { return dynamic_cast<TvlCustomEdit*>(BaseStyle()->Owner()); }

TvlStyleController* TvlCustomEditStyle::GetDefaultStyleController() {
  if (DirectAccessMode()) return nullptr;
  // A controller's own styles follow only what is set on them.
  if (dynamic_cast<TvlStyleController*>(BaseStyle()->Owner())) return nullptr;
  TvlCustomEdit* edit = Edit();
  if (edit && edit->IsInplace()) return nullptr;
  return gDefaultEditStyleController;
}

TvlContainerStyleValues TvlCustomEditStyle::GetExtendedStyleHiddenValues() {
  return TvlContainerStyleValues{Byte(svEdges),         Byte(svFont),
                                 Byte(svHotTrack),      Byte(svShadow),
                                 Byte(svTransparentBorder), Byte(svButtonTransparency),
                                 Byte(svPopupBorderStyle),  Byte(svGradientButtons),
                                 Byte(svGradient),      Byte(svGradientDirection)};
}

Boolean TvlCustomEditStyle::GetStyleValueName(TvlContainerStyleValue AStyleValue, String& AName) {
  if (AStyleValue >= svButtonStyle && AStyleValue <= svGradientDirection) {
    AName = kEditValueNames[AStyleValue - svButtonStyle];
    return true;
  }
  return inherited::GetStyleValueName(AStyleValue, AName);
}

TvlCustomEditStyle* TvlCustomEditStyle::EditAssignedSource(TvlContainerStyleValue AValue) {
  TvlContainerStyle* s = this;
  // Controllers never link in a circle (the link refuses one); the bound is a guard.
  for (Integer depth = 0; s && depth < 64; ++depth) {
    TvlCustomEditStyle* es = dynamic_cast<TvlCustomEditStyle*>(s);
    if (es && es->OwnAssigned(AValue)) return es;
    if (s->DirectAccessMode()) return nullptr;
    TvlStyleController* c = s->ActiveStyleController();
    if (!c || s->BaseStyle()->Owner() == c) return nullptr;
    s = c->GetStateStyle(s->State());
  }
  return nullptr;
}

Boolean TvlCustomEditStyle::IsValueAssigned(TvlContainerStyleValue AValue) {
  if (AValue >= svButtonStyle && AValue <= svGradientDirection) return EditAssignedSource(AValue) != nullptr;
  return inherited::IsValueAssigned(AValue);
}

void TvlCustomEditStyle::StoreOwn(TvlContainerStyleValue AValue) {
  FAssignedValues.Include(Byte(AValue));
  NotifyChanged();
}

void TvlCustomEditStyle::Init(const TvlViewParams& AParams) {
  BeginUpdate();
  Finally done([&] { EndUpdate(); });
  StyleData.Color = AParams.Color;
  StyleData.Font = AParams.Font;
  StyleData.FontColor = AParams.TextColor;
  SetColor(AParams.Color);
  if (AParams.Font) SetFont(AParams.Font);
  SetTextColor(AParams.TextColor);
}

// --- The six editor values -------------------------------------------------------------------------

// Reading: the own value in direct-access mode, else the assigned value of
// this style or of a controller's style for the same state, else the fallback.
#define CL_EDIT_STYLE_READ(Field, Value, Fallback)                            \
  if (DirectAccessMode()) return OwnAssigned(Value) ? Field : Fallback();     \
  if (TvlCustomEditStyle* s = EditAssignedSource(Value)) return s->Field;     \
  return Fallback();

TvlEditButtonStyle TvlCustomEditStyle::ButtonStyle() { CL_EDIT_STYLE_READ(FButtonStyle, svButtonStyle, InheritedButtonStyle) }
TvlEditButtonTransparency TvlCustomEditStyle::ButtonTransparency() {
  CL_EDIT_STYLE_READ(FButtonTransparency, svButtonTransparency, InheritedButtonTransparency)
}
Boolean TvlCustomEditStyle::Gradient() { CL_EDIT_STYLE_READ(FGradient, svGradient, InheritedGradient) }
Boolean TvlCustomEditStyle::GradientButtons() {
  CL_EDIT_STYLE_READ(FGradientButtons, svGradientButtons, InheritedGradientButtons)
}
TvlEditGradientDirection TvlCustomEditStyle::GradientDirection() {
  CL_EDIT_STYLE_READ(FGradientDirection, svGradientDirection, InheritedGradientDirection)
}
TvlEditPopupBorderStyle TvlCustomEditStyle::PopupBorderStyle() {
  CL_EDIT_STYLE_READ(FPopupBorderStyle, svPopupBorderStyle, InheritedPopupBorderStyle)
}
#undef CL_EDIT_STYLE_READ

TvlEditButtonStyle TvlCustomEditStyle::InheritedButtonStyle() {
  return IsBaseStyle() ? btsDefault : EditBaseStyle()->ButtonStyle();
}
TvlEditButtonTransparency TvlCustomEditStyle::InheritedButtonTransparency() {
  return IsBaseStyle() ? ebtNone : EditBaseStyle()->ButtonTransparency();
}
Boolean TvlCustomEditStyle::InheritedGradient() { return IsBaseStyle() ? false : EditBaseStyle()->Gradient(); }
Boolean TvlCustomEditStyle::InheritedGradientButtons() {
  return IsBaseStyle() ? false : EditBaseStyle()->GradientButtons();
}
TvlEditGradientDirection TvlCustomEditStyle::InheritedGradientDirection() {
  return IsBaseStyle() ? dirDown : EditBaseStyle()->GradientDirection();
}
TvlEditPopupBorderStyle TvlCustomEditStyle::InheritedPopupBorderStyle() {
  return IsBaseStyle() ? epbsDefault : EditBaseStyle()->PopupBorderStyle();
}

// ButtonStyle belongs to the style it is set on; the other five to the normal style.
void TvlCustomEditStyle::SetButtonStyle(TvlEditButtonStyle Value) {
  if (OwnAssigned(svButtonStyle) && FButtonStyle == Value) return;
  FButtonStyle = Value;
  StoreOwn(svButtonStyle);
}

#define CL_EDIT_STYLE_WRITE(Setter, Field, Value)                              \
  if (!IsBaseStyle()) {                                                        \
    EditBaseStyle()->Setter(AValue);                                           \
    return;                                                                    \
  }                                                                            \
  if (OwnAssigned(Value) && Field == AValue) return;                           \
  Field = AValue;                                                              \
  StoreOwn(Value);

void TvlCustomEditStyle::SetButtonTransparency(TvlEditButtonTransparency AValue) {
  CL_EDIT_STYLE_WRITE(SetButtonTransparency, FButtonTransparency, svButtonTransparency)
}
void TvlCustomEditStyle::SetGradient(Boolean AValue) { CL_EDIT_STYLE_WRITE(SetGradient, FGradient, svGradient) }
void TvlCustomEditStyle::SetGradientButtons(Boolean AValue) {
  CL_EDIT_STYLE_WRITE(SetGradientButtons, FGradientButtons, svGradientButtons)
}
void TvlCustomEditStyle::SetGradientDirection(TvlEditGradientDirection AValue) {
  CL_EDIT_STYLE_WRITE(SetGradientDirection, FGradientDirection, svGradientDirection)
}
void TvlCustomEditStyle::SetPopupBorderStyle(TvlEditPopupBorderStyle AValue) {
  CL_EDIT_STYLE_WRITE(SetPopupBorderStyle, FPopupBorderStyle, svPopupBorderStyle)
}
#undef CL_EDIT_STYLE_WRITE

Boolean TvlCustomEditStyle::PopupCloseButton() {
  return IsBaseStyle() ? FPopupCloseButton : EditBaseStyle()->PopupCloseButton();
}

void TvlCustomEditStyle::SetPopupCloseButton(Boolean Value) {
  if (!IsBaseStyle()) {
    EditBaseStyle()->SetPopupCloseButton(Value);
    return;
  }
  if (FPopupCloseButton == Value) return;
  FPopupCloseButton = Value;
  NotifyChanged();
}
