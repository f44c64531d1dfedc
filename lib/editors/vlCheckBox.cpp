// The check box: its properties, the editor control, its action link, the
// caption items, and the module's start-up.
#include "lib/editors/vlCheckBox.h"

#include "lib/editors/vlCheckBoxFilter.h"
#include "lib/editors/vlEditConsts.h"
#include "lib/foundation/vlGeometry.h"
#include "lib/foundation/vlVariants.h"
#include "platform/classes/ClassRegistry.h"
#include "platform/classes/Filer.h"
#include "platform/classes/ModuleInit.h"
#include "platform/classes/TypInfoBuild.h"
#include "platform/classes/WeakRef.h"
#include "platform/rtl/Finally.h"
#include "platform/rtl/Strings.h"
#include "platform/vcl/ActnList.h"
#include "platform/vcl/ControlsPublish.h"
#include "platform/vcl/Forms.h"
#include "platform/win/Windows.h"

using namespace win;

// The check-mark mask of vlCheckGlyph.cpp.
void vlCreateCheckMarkMask();
void vlFreeCheckMarkMask();

namespace {

constexpr Integer kDefaultGlyphCount = 6;
constexpr Integer kDefaultWidth = 121;

void Startup() {
  vlGetEditPropertiesRegistry()->Register(ClassOf<TvlCheckBoxProperties>(),
                                          vlGetResourceStringText(svlSEditRepositoryCheckBoxItem));
  vlFilterEditsController()->Register(ClassOf<TvlCheckBoxProperties>(), ClassOf<TvlFilterCheckBoxHelper>());
  vlCreateCheckMarkMask();
  RegisterClasses({ClassOf<TvlCheckBox>(), ClassOf<TvlCheckBoxProperties>(), ClassOf<TvlCheckBoxStyle>()});
}

void Shutdown() {
  vlFilterEditsController()->Unregister(ClassOf<TvlCheckBoxProperties>(), ClassOf<TvlFilterCheckBoxHelper>());
  vlFreeCheckMarkMask();
  if (TvlRegisteredClasses* registry = vlGetEditPropertiesRegistry())
    registry->Unregister(ClassOf<TvlCheckBoxProperties>());
}

}  // namespace

CL_UNIT_STEPS(vlCheckBox, &Startup, &Shutdown);

// --- Caption items ------------------------------------------------------------------------------------------

CL_IMPLEMENT_CLASS_PUBLISHED(TvlCaptionItem, P) {
  P.Property(u"Caption", &TvlCaptionItem::Caption, &TvlCaptionItem::SetCaption);
  P.Property(u"Tag", &TvlCaptionItem::Tag, &TvlCaptionItem::SetTag).Stored(&TvlCaptionItem::IsTagStored);
}

void TvlCaptionItem::Assign(TPersistent* Source) {
  if (TvlCaptionItem* src = dynamic_cast<TvlCaptionItem*>(Source)) {
    SetCaption(src->Caption());
    FTag = src->Tag();
    return;
  }
  inherited::Assign(Source);
}

void TvlCaptionItem::SetCaption(const String& Value) {
  if (FCaption == Value) return;
  FCaption = Value;
  TvlOwnedInterfacedCollection* owner = dynamic_cast<TvlOwnedInterfacedCollection*>(Collection());
  if (owner && owner->Sorted())
    owner->Sort();
  else
    Changed(false);
}

CL_IMPLEMENT_CLASS(TvlCaptionItems)

Integer TvlCaptionItems::CompareItemsByIndex(TCollectionItem* Item1, TCollectionItem* Item2) {
  return AnsiCompareText(static_cast<TvlCaptionItem*>(Item1)->Caption(),
                         static_cast<TvlCaptionItem*>(Item2)->Caption());
}

// --- Properties ---------------------------------------------------------------------------------------------

CL_IMPLEMENT_CLASS(TvlCustomCheckBoxProperties)
CL_IMPLEMENT_CLASS(TvlCheckBoxStyle)

CL_IMPLEMENT_CLASS_PUBLISHED(TvlCheckBoxProperties, P) {
  P.Property(u"Alignment", &TvlCheckBoxProperties::HorzAlignment, &TvlCheckBoxProperties::SetHorzAlignment)
      .Stored(&TvlCheckBoxProperties::IsHorzAlignmentStored);
  P.Property(u"AllowGrayed", &TvlCheckBoxProperties::AllowGrayed, &TvlCheckBoxProperties::SetAllowGrayed)
      .Default(false);
  P.Property(u"AssignedValues", &TvlCheckBoxProperties::AssignedValues, &TvlCheckBoxProperties::SetAssignedValues);
  P.Property(u"Caption", &TvlCheckBoxProperties::Caption, &TvlCheckBoxProperties::SetCaption).Stored(false);
  P.Property(u"ClearKey", &TvlCheckBoxProperties::ClearKey, &TvlCheckBoxProperties::SetClearKey).Default(Word(0));
  P.Property(u"DisplayChecked", &TvlCheckBoxProperties::DisplayChecked, &TvlCheckBoxProperties::SetDisplayChecked)
      .Stored(&TvlCheckBoxProperties::IsDisplayCheckedStored);
  P.Property(u"DisplayGrayed", &TvlCheckBoxProperties::DisplayGrayed, &TvlCheckBoxProperties::SetDisplayGrayed)
      .Stored(&TvlCheckBoxProperties::IsDisplayGrayedStored);
  P.Property(u"DisplayUnchecked", &TvlCheckBoxProperties::DisplayUnchecked,
             &TvlCheckBoxProperties::SetDisplayUnchecked)
      .Stored(&TvlCheckBoxProperties::IsDisplayUncheckedStored);
  P.Property(u"FullFocusRect", &TvlCheckBoxProperties::FullFocusRect, &TvlCheckBoxProperties::SetFullFocusRect)
      .Default(false);
  P.Property(u"Glyph", &TvlCheckBoxProperties::Glyph, &TvlCheckBoxProperties::SetGlyph);
  P.Property(u"GlyphCount", &TvlCheckBoxProperties::GlyphCount, &TvlCheckBoxProperties::SetGlyphCount)
      .Default(kDefaultGlyphCount);
  P.Property(u"ImmediatePost", &TvlCheckBoxProperties::ImmediatePost, &TvlCheckBoxProperties::SetImmediatePost)
      .Default(false);
  P.Property(u"MultiLine", &TvlCheckBoxProperties::MultiLine, &TvlCheckBoxProperties::SetMultiLine).Default(false);
  P.Property(u"NullStyle", &TvlCheckBoxProperties::NullStyle, &TvlCheckBoxProperties::SetNullStyle)
      .Default(nssGrayedChecked);
  P.Property(u"ReadOnly", &TvlCheckBoxProperties::ReadOnly, &TvlCheckBoxProperties::SetReadOnly)
      .Stored(&TvlCheckBoxProperties::IsReadOnlyStored);
  P.Property(u"UseAlignmentWhenInplace", &TvlCheckBoxProperties::UseAlignmentWhenInplace,
             &TvlCheckBoxProperties::SetUseAlignmentWhenInplace)
      .Default(false);
  P.Property(u"ValueChecked", &TvlCheckBoxProperties::ValueChecked, &TvlCheckBoxProperties::SetValueChecked)
      .Stored(&TvlCheckBoxProperties::IsValueCheckedStored);
  P.Property(u"ValueGrayed", &TvlCheckBoxProperties::ValueGrayed, &TvlCheckBoxProperties::SetValueGrayed)
      .Stored(&TvlCheckBoxProperties::IsValueGrayedStored);
  P.Property(u"ValueUnchecked", &TvlCheckBoxProperties::ValueUnchecked, &TvlCheckBoxProperties::SetValueUnchecked)
      .Stored(&TvlCheckBoxProperties::IsValueUncheckedStored);
  P.Property(u"OnChange", &TvlCheckBoxProperties::OnChange, &TvlCheckBoxProperties::SetOnChange);
  P.Property(u"OnEditValueChanged", &TvlCheckBoxProperties::OnEditValueChanged,
             &TvlCheckBoxProperties::SetOnEditValueChanged);
  P.Property(u"OnValidate", &TvlCheckBoxProperties::OnValidate, &TvlCheckBoxProperties::SetOnValidate);
}

void TvlCustomCheckBoxProperties::Create(TPersistent* AOwner) {
  inherited::Create(AOwner);
  FDisplayChecked = vlGetResourceStringText(vlSEditCheckBoxChecked);
  FDisplayGrayed = vlGetResourceStringText(vlSEditCheckBoxGrayed);
  FDisplayUnchecked = vlGetResourceStringText(vlSEditCheckBoxUnchecked);
  FGlyphCount = kDefaultGlyphCount;
  FNullStyle = nssGrayedChecked;
  FValueChecked = Variant(true);
  FValueGrayed = Null();
  FValueUnchecked = Variant(false);
}

void TvlCustomCheckBoxProperties::Destroy() {
  FreeAndNil(FGlyph);
  inherited::Destroy();
}

void TvlCustomCheckBoxProperties::Assign(TPersistent* Source) {
  if (TvlCustomCheckBoxProperties* src = dynamic_cast<TvlCustomCheckBoxProperties*>(Source)) {
    BeginUpdate();
    Finally done([&] { EndUpdate(); });
    inherited::Assign(Source);
    SetAllowGrayed(src->AllowGrayed());
    SetCaption(src->Caption());
    SetDisplayChecked(src->DisplayChecked());
    SetDisplayGrayed(src->DisplayGrayed());
    SetDisplayUnchecked(src->DisplayUnchecked());
    SetFullFocusRect(src->FullFocusRect());
    SetGlyph(src->GlyphOrNil());
    SetGlyphCount(src->GlyphCount());
    SetMultiLine(src->MultiLine());
    SetNullStyle(src->NullStyle());
    SetUseAlignmentWhenInplace(src->UseAlignmentWhenInplace());
    const Variant& c = src->ValueChecked();
    const Variant& g = src->ValueGrayed();
    const Variant& u = src->ValueUnchecked();
    // Pairwise different as the state mapping compares them.
    if (!vlEditValuesEqual(c, g) && !vlEditValuesEqual(c, u) && !vlEditValuesEqual(g, u) && !VarIsNull(c) &&
        !VarIsNull(u)) {
      FValueChecked = c;
      FValueGrayed = g;
      FValueUnchecked = u;
      Changed();
    }
    return;
  }
  inherited::Assign(Source);
}

TvlCustomEditViewDataClass TvlCustomCheckBoxProperties::EditViewDataClass() const {
  return ClassOf<TvlCustomCheckBoxViewData>();
}
TvlCustomEditClass TvlCustomCheckBoxProperties::GetContainerClass() const { return ClassOf<TvlCheckBox>(); }
TvlCustomEditStyleClass TvlCustomCheckBoxProperties::GetStyleClass() const { return ClassOf<TvlCheckBoxStyle>(); }
TvlCustomEditViewInfoClass TvlCustomCheckBoxProperties::GetViewInfoClass() const {
  return ClassOf<TvlCustomCheckBoxViewInfo>();
}

TvlCheckBoxState TvlCustomCheckBoxProperties::GetState(const Variant& AEditValue) {
  Variant display;
  PrepareDisplayValue(AEditValue, display, false);
  return TvlCheckBoxState(display.AsInteger());
}

Variant TvlCustomCheckBoxProperties::GetValueOfState(TvlCheckBoxState AState) {
  switch (AState) {
    case cbsChecked: return FValueChecked;
    case cbsUnchecked: return FValueUnchecked;
    default: return FValueGrayed;
  }
}

void TvlCustomCheckBoxProperties::PrepareDisplayValue(const Variant& AEditValue, Variant& DisplayValue, Boolean) {
  if (vlEditValuesEqual(AEditValue, FValueChecked))
    DisplayValue = Variant(Integer(cbsChecked));
  else if (vlEditValuesEqual(AEditValue, FValueUnchecked))
    DisplayValue = Variant(Integer(cbsUnchecked));
  else
    DisplayValue = Variant(Integer(cbsGrayed));
}

String TvlCustomCheckBoxProperties::GetDisplayText(const Variant& AEditValue, Boolean, Boolean) {
  switch (GetState(AEditValue)) {
    case cbsChecked: return FDisplayChecked;
    case cbsUnchecked: return FDisplayUnchecked;
    default: return FDisplayGrayed;
  }
}

Boolean TvlCustomCheckBoxProperties::CompareDisplayValues(const Variant& AEditValue1, const Variant& AEditValue2) {
  return GetState(AEditValue1) == GetState(AEditValue2);
}

TvlEditSpecialFeatures TvlCustomCheckBoxProperties::GetSpecialFeatures() {
  TvlEditSpecialFeatures r = inherited::GetSpecialFeatures();
  r.Include(esfNoContentPart);
  return r;
}

TvlEditSupportedOperations TvlCustomCheckBoxProperties::GetSupportedOperations() {
  return TvlEditSupportedOperations{esoAlwaysHotTrack, esoEditing,  esoFiltering,  esoHotTrack,
                                    esoShowingCaption, esoSorting, esoTransparency};
}

Boolean TvlCustomCheckBoxProperties::IsEditValueValid(Variant& EditValue, Boolean AEditFocused) {
  return inherited::IsEditValueValid(EditValue, AEditFocused) &&
         (vlVarEqualsStrict(EditValue, FValueChecked) || vlVarEqualsStrict(EditValue, FValueGrayed) ||
          vlVarEqualsStrict(EditValue, FValueUnchecked));
}

TBitmap* TvlCustomCheckBoxProperties::GetGlyph() {
  if (!FGlyph) {
    FGlyph = New<TBitmap>();
    FGlyph->SetOnChange(TNotifyEvent(this, &TvlCustomCheckBoxProperties::GlyphChanged));
  }
  return FGlyph;
}

void TvlCustomCheckBoxProperties::SetGlyph(TBitmap* Value) {
  if (!Value) {
    FreeAndNil(FGlyph);
    Changed();
    return;
  }
  GetGlyph()->Assign(Value);
}

void TvlCustomCheckBoxProperties::GlyphChanged(TObject*) { Changed(); }

Boolean TvlCustomCheckBoxProperties::IsOwnerLoading() {
  TComponent* owner = dynamic_cast<TComponent*>(Owner());
  return owner && owner->ComponentState().Contains(csLoading);
}

Boolean TvlCustomCheckBoxProperties::AcceptsValue(const Variant& Value, const Variant& AReplaced,
                                                  Boolean AAllowNull) {
  if (IsOwnerLoading()) return true;
  if (VarIsNull(Value) && !AAllowNull) return false;
  for (const Variant* v : {&FValueChecked, &FValueGrayed, &FValueUnchecked}) {
    if (vlVarEqualsStrict(Value, *v)) return false;
    // The state mapping would read the value as another state's ("False"
    // beside False, 0.0 beside 0): that state could never be shown.
    if (v != &AReplaced && vlEditValuesEqual(Value, *v)) return false;
  }
  return true;
}

void TvlCustomCheckBoxProperties::SetValueChecked(const Variant& Value) {
  if (!AcceptsValue(Value, FValueChecked, false)) return;
  FValueChecked = Value;
  Changed();
}

void TvlCustomCheckBoxProperties::SetValueGrayed(const Variant& Value) {
  if (!AcceptsValue(Value, FValueGrayed, true)) return;
  FValueGrayed = Value;
  Changed();
}

void TvlCustomCheckBoxProperties::SetValueUnchecked(const Variant& Value) {
  if (!AcceptsValue(Value, FValueUnchecked, false)) return;
  FValueUnchecked = Value;
  Changed();
}

void TvlCustomCheckBoxProperties::SetAllowGrayed(Boolean Value) {
  if (FAllowGrayed == Value) return;
  FAllowGrayed = Value;
  Changed();
}

void TvlCustomCheckBoxProperties::SetCaption(const String& Value) {
  if (FCaption == Value) return;
  FCaption = Value;
  Changed();
}

void TvlCustomCheckBoxProperties::SetDisplayChecked(const String& Value) {
  if (FDisplayChecked == Value) return;
  FDisplayChecked = Value;
  Changed();
}

void TvlCustomCheckBoxProperties::SetDisplayGrayed(const String& Value) {
  if (FDisplayGrayed == Value) return;
  FDisplayGrayed = Value;
  Changed();
}

void TvlCustomCheckBoxProperties::SetDisplayUnchecked(const String& Value) {
  if (FDisplayUnchecked == Value) return;
  FDisplayUnchecked = Value;
  Changed();
}

void TvlCustomCheckBoxProperties::SetFullFocusRect(Boolean Value) {
  if (FFullFocusRect == Value) return;
  FFullFocusRect = Value;
  Changed();
}

void TvlCustomCheckBoxProperties::SetGlyphCount(Integer Value) {
  if (FGlyphCount == Value) return;
  FGlyphCount = Value;
  if (FGlyph) Changed();
}

void TvlCustomCheckBoxProperties::SetMultiLine(Boolean Value) {
  if (FMultiLine == Value) return;
  FMultiLine = Value;
  Changed();
}

void TvlCustomCheckBoxProperties::SetNullStyle(TvlCheckBoxNullValueShowingStyle Value) {
  if (FNullStyle == Value) return;
  FNullStyle = Value;
  Changed();
}

void TvlCustomCheckBoxProperties::SetUseAlignmentWhenInplace(Boolean Value) {
  if (FUseAlignmentWhenInplace == Value) return;
  FUseAlignmentWhenInplace = Value;
  Changed();
}

Boolean TvlCustomCheckBoxProperties::IsDisplayCheckedStored() {
  return FDisplayChecked != vlGetResourceStringText(vlSEditCheckBoxChecked);
}
Boolean TvlCustomCheckBoxProperties::IsDisplayGrayedStored() {
  return FDisplayGrayed != vlGetResourceStringText(vlSEditCheckBoxGrayed);
}
Boolean TvlCustomCheckBoxProperties::IsDisplayUncheckedStored() {
  return FDisplayUnchecked != vlGetResourceStringText(vlSEditCheckBoxUnchecked);
}
Boolean TvlCustomCheckBoxProperties::IsValueCheckedStored() { return !vlVarEqualsStrict(FValueChecked, Variant(true)); }
Boolean TvlCustomCheckBoxProperties::IsValueGrayedStored() { return !VarIsNull(FValueGrayed); }
Boolean TvlCustomCheckBoxProperties::IsValueUncheckedStored() {
  return !vlVarEqualsStrict(FValueUnchecked, Variant(false));
}

void TvlCustomCheckBoxProperties::ReadCaption(TReader* Reader) {
  SetCaption(Reader->ReadString());
  FIsCaptionAssigned = true;
}

void TvlCustomCheckBoxProperties::DefineProperties(TFiler* Filer) {
  inherited::DefineProperties(Filer);
  Filer->DefineProperty(u"Caption", TReaderProc(this, &TvlCustomCheckBoxProperties::ReadCaption), TWriterProc(),
                        false);
}

// --- The editor ---------------------------------------------------------------------------------------------

CL_IMPLEMENT_CLASS(TvlCustomCheckBox)

CL_IMPLEMENT_CLASS_PUBLISHED(TvlCheckBox, P) {
  PublishControlProperties(P, {u"Action", u"Align", u"Anchors"});
  P.Property(u"AutoSize", &TvlCheckBox::AutoSize, &TvlCheckBox::SetAutoSize).Default(true);
  PublishControlProperties(P, {u"Caption"});
  P.Property(u"Checked", &TvlCheckBox::Checked, &TvlCheckBox::SetChecked).Stored(false);
  PublishControlProperties(P, {u"Constraints", u"DragCursor", u"DragKind", u"DragMode", u"Enabled",
                               u"ParentBackground", u"ParentColor", u"ParentFont", u"ParentShowHint",
                               u"PopupMenu"});
  P.Property(u"Properties", &TvlCheckBox::Properties, &TvlCheckBox::SetProperties);
  PublishControlProperties(P, {u"ShowHint"});
  P.Property(u"State", &TvlCheckBox::State, &TvlCheckBox::SetState)
      .Default(cbsUnchecked)
      .Stored(&TvlCheckBox::IsStateStored);
  P.Property(u"Style", &TvlCheckBox::Style, &TvlCheckBox::SetStyle);
  P.Property(u"StyleDisabled", &TvlCheckBox::StyleDisabled, &TvlCheckBox::SetStyleDisabled);
  P.Property(u"StyleFocused", &TvlCheckBox::StyleFocused, &TvlCheckBox::SetStyleFocused);
  P.Property(u"StyleHot", &TvlCheckBox::StyleHot, &TvlCheckBox::SetStyleHot);
  PublishControlProperties(P, {u"TabOrder", u"TabStop"});
  P.Property(u"Transparent", &TvlCheckBox::Transparent, &TvlCheckBox::SetTransparent).Default(false);
  PublishControlProperties(P, {u"Visible", u"OnClick", u"OnContextPopup", u"OnDragDrop", u"OnDragOver"});
  P.Property(u"OnEditing", &TvlCheckBox::OnEditing, &TvlCheckBox::SetOnEditing);
  PublishControlProperties(P, {u"OnEndDock", u"OnEndDrag", u"OnEnter", u"OnExit", u"OnKeyDown", u"OnKeyPress",
                               u"OnKeyUp", u"OnMouseDown", u"OnMouseEnter", u"OnMouseLeave", u"OnMouseMove",
                               u"OnMouseUp", u"OnStartDock", u"OnStartDrag"});
}

void TvlCustomCheckBox::Initialize() {
  inherited::Initialize();
  TControlStyle style = ControlStyle();
  style.Exclude(csDoubleClicks);
  SetControlStyle(style);
  SetWidth(kDefaultWidth);
  FEditValue = ActiveProperties()->ValueUnchecked();
  ViewInfo()->State = cbsUnchecked;
}

TvlCheckBoxState TvlCustomCheckBox::CurrentState() { return ActiveProperties()->GetState(FEditValue); }

TvlCheckBoxState TvlCustomCheckBox::State() { return CurrentState(); }

void TvlCustomCheckBox::SetState(TvlCheckBoxState Value) {
  if (IsLoading()) {
    FLoadingState = Value;
    FIsLoadingStateAssigned = true;
    return;
  }
  if (Value == CurrentState()) return;
  SetInternalEditValue(ActiveProperties()->GetValueOfState(Value));
}

Boolean TvlCustomCheckBox::IsStateStored() {
  TCustomAction* action = dynamic_cast<TCustomAction*>(Action());
  return !action || action->Checked() != (CurrentState() == cbsChecked);
}

void TvlCustomCheckBox::Clear() { SetState(cbsUnchecked); }

void TvlCustomCheckBox::PrepareEditValue(const Variant& ADisplayValue, Variant& EditValue, Boolean) {
  if (VarIsOrdinal(ADisplayValue)) {
    const Int64 state = ADisplayValue.AsInt64();
    if (state >= cbsUnchecked && state <= cbsGrayed) {
      EditValue = ActiveProperties()->GetValueOfState(TvlCheckBoxState(state));
      return;
    }
  }
  EditValue = Variant();
}

void TvlCustomCheckBox::Toggle() {
  TvlCustomCheckBoxProperties* props = ActiveProperties();
  TWeakRef<TvlCustomCheckBox> self(this);
  LockChangeEvents(true);
  SetKeyboardAction(true);
  {
    // An OnClick handler may free the check box.
    Finally unlock([&] {
      if (!self) return;
      SetKeyboardAction(false);
      LockChangeEvents(false);
    });
    switch (CurrentState()) {
      case cbsUnchecked: SetState(props->AllowGrayed() ? cbsGrayed : cbsChecked); break;
      case cbsChecked: SetState(cbsUnchecked); break;
      default: SetState(cbsChecked); break;
    }
  }
  if (!self) return;
  if (ActiveProperties()->ImmediatePost() && CanPostEditValue() && ValidateEdit(false)) PostEditValue();
}

void TvlCustomCheckBox::InternalSetEditValue(const Variant& AValue, Boolean AValidate) {
  TWeakRef<TvlCustomCheckBox> self(this);
  const TvlCheckBoxState previous = ViewInfo()->State;
  inherited::InternalSetEditValue(AValue, AValidate);
  if (!self) return;
  const TvlCheckBoxState now = CurrentState();
  if (now != previous) {
    ViewInfo()->State = now;
    Click();
    if (!self) return;
    RaiseChange();
    if (!self) return;
  }
  ShortRefreshContainer(false);
}

void TvlCustomCheckBox::SynchronizeDisplayValue() { ViewInfo()->State = CurrentState(); }

void TvlCustomCheckBox::PropertiesChanged(TObject* Sender) {
  TvlCustomCheckBoxProperties* props = ActiveProperties();
  if (props->IsCaptionAssigned()) {
    props->ClearCaptionAssigned();
    SetText(props->Caption());
  }
  TWeakRef<TvlCustomCheckBox> self(this);
  const TvlCheckBoxState now = CurrentState();
  if (ViewInfo()->State != now) {
    ViewInfo()->State = now;
    InvalidateCheckRect();
    if (!AreChangeEventsLocked()) {
      Click();
      if (!self) return;
      RaiseChange();
      if (!self) return;
    }
  }
  inherited::PropertiesChanged(Sender);
}

void TvlCustomCheckBox::InvalidateCheckRect() {
  if (!HandleAllocated()) return;
  const RECT r = ViewInfo()->CheckBoxRect;
  ::win::InvalidateRect(WindowHandle(), &r, false);
}

void TvlCustomCheckBox::Loaded() {
  LockChangeEvents(true);
  LockClick(true);
  FIsLoaded = true;
  Finally unlock([&] {
    FIsLoaded = false;
    LockClick(false);
    LockChangeEvents(false);
  });
  inherited::Loaded();
  if (FIsLoadingStateAssigned || !DataBinding()->IDefaultValuesProvider()->IsDataStorage()) {
    // The value of the state, also when the value made at creation already
    // reads as that state under the streamed values (False under "E"/"H"
    // reads grayed, yet it is not the grayed value).
    const Variant value = ActiveProperties()->GetValueOfState(FIsLoadingStateAssigned ? FLoadingState : cbsUnchecked);
    if (!vlVarEqualsStrict(FEditValue, value)) SetInternalEditValue(value);
  }
  FIsLoadingStateAssigned = false;
}

Boolean TvlCustomCheckBox::ClickWhileLoading() {
  return DataBinding() && DataBinding()->IDefaultValuesProvider()->IsDataStorage();
}

TvlEditStateColorKind TvlCustomCheckBox::GetEditStateColorKind() { return Enabled() ? esckNormal : esckDisabled; }

Boolean TvlCustomCheckBox::IsTransparentBackground() {
  if (FStyles && !IsInplace() && UsesNativeStyle() && ParentBackground() && !Transparent()) return true;
  return inherited::IsTransparentBackground();
}

void TvlCustomCheckBox::ClipToShadowRegion(TvlCanvas* ACanvas) {
  if (!IsInplace()) inherited::ClipToShadowRegion(ACanvas);
}

void TvlCustomCheckBox::GetShadowRect(TRect& R) {
  if (FStyles && !IsInplace() && UsesNativeStyle() && Style()->TransparentBorder()) {
    R = vlInflateRectBy(TRect{0, 0, Width(), Height()}, -2, -2);
    return;
  }
  inherited::GetShadowRect(R);
}

void TvlCustomCheckBox::ColorChanged() {
  inherited::ColorChanged();
  if (FStyles && UsesNativeStyle() && ParentBackground()) Invalidate();
}

void TvlCustomCheckBox::ProcessStateTransitions() {
  TvlCustomCheckBoxViewInfo* vi = ViewInfo();
  const TvlEditCheckState last = vi->CheckBoxLastState, now = vi->CheckBoxState;
  vi->CheckBoxLastState = now;
  TWeakRef<TvlCustomCheckBox> self(this);
  inherited::ProcessStateTransitions();
  if (!self) return;
  // Released over the control.
  if (last == ecsPressed && now == ecsHot) Toggle();
}

// --- Keyboard and messages ----------------------------------------------------------------------------------

void TvlCustomCheckBox::KeyDown(Word& Key, TShiftState Shift) {
  TWeakRef<TvlCustomCheckBox> self(this);
  inherited::KeyDown(Key, Shift);
  if (!self || Key != VK_SPACE) return;
  const TvlEditCheckState state = ViewInfo()->CheckBoxState;
  if (state == ecsNormal || state == ecsHot) {
    FIsCheckPressed = true;
    ViewInfo()->CheckBoxState = ecsPressed;
    ShortRefreshContainer(false);
    Key = 0;
  }
}

void TvlCustomCheckBox::KeyUp(Word& Key, TShiftState Shift) {
  TWeakRef<TvlCustomCheckBox> self(this);
  inherited::KeyUp(Key, Shift);
  if (!self || Key != VK_SPACE || ViewInfo()->CheckBoxState != ecsPressed) return;
  // Handled here: a handler of the toggle may free the check box.
  Key = 0;
  FIsCheckPressed = false;
  ViewInfo()->CheckBoxState = ecsNormal;
  ViewInfo()->CheckBoxLastState = ecsNormal;
  InvalidateCheckRect();
  Toggle();
  if (!self) return;
  ShortRefreshContainer(false);
}

void TvlCustomCheckBox::KeyPress(Char& Key) {
  TWeakRef<TvlCustomCheckBox> self(this);
  inherited::KeyPress(Key);
  if (!self || Key != u' ' || !IsInplace() || ViewInfo()->CheckBoxState >= ecsPressed) return;
  Key = 0;
  Toggle();
}

void TvlCustomCheckBox::EndCheckPress() {
  // Ended without a toggle: a later mouse refresh over the mark must not
  // take the press for a release.
  FIsCheckPressed = false;
  ViewInfo()->CheckBoxState = ecsNormal;
  ViewInfo()->CheckBoxLastState = ecsNormal;
  InvalidateCheckRect();
}

void TvlCustomCheckBox::DoExit() {
  if (FIsCheckPressed) EndCheckPress();
  inherited::DoExit();
}

void TvlCustomCheckBox::EnabledChanged() {
  // Disabled while Space or the mouse holds the mark.
  if (!Enabled()) EndCheckPress();
  inherited::EnabledChanged();
}

void TvlCustomCheckBox::WMLButtonUp(TMessage& Message) {
  // The press-and-release is the check box's own: the platform's click would repeat it.
  TControlState state = ControlState();
  state.Exclude(csClicked);
  SetControlState(state);
  inherited::Dispatch(Message);
}

void TvlCustomCheckBox::CMDialogChar(TMessage& Message) {
  TWMKey key(Message);
  if (IsAccel(key.CharCode(), Caption()) && CanFocus()) {
    TWeakRef<TvlCustomCheckBox> self(this);
    SetFocus();
    if (self && Focused()) Toggle();
    Message.Result = 1;
    return;
  }
  inherited::Dispatch(Message);
}

void TvlCustomCheckBox::CMTextChanged(TMessage& Message) {
  inherited::Dispatch(Message);
  ViewInfo()->Text = Caption();
  ShortRefreshContainer(false);
  Invalidate();
}

void TvlCustomCheckBox::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_LBUTTONUP: WMLButtonUp(Message); break;
    case CM_DIALOGCHAR: CMDialogChar(Message); break;
    case CM_TEXTCHANGED: CMTextChanged(Message); break;
    default: inherited::Dispatch(Message);
  }
}

// --- Actions ------------------------------------------------------------------------------------------------

TControlActionLinkClass TvlCustomCheckBox::GetActionLinkClass() { return ClassOf<TvlCheckBoxActionLink>(); }

void TvlCustomCheckBox::ActionChange(TObject* Sender, Boolean CheckDefaults) {
  inherited::ActionChange(Sender, CheckDefaults);
  TCustomAction* action = dynamic_cast<TCustomAction*>(Sender);
  if (!action) return;
  if ((!CheckDefaults || CurrentState() == cbsUnchecked) &&
      (!(IsLoading() || FIsLoaded) || !FIsLoadingStateAssigned)) {
    LockClick(true);
    LockChangeEvents(true);
    Finally unlock([&] {
      LockChangeEvents(false);
      LockClick(false);
    });
    SetState(action->Checked() ? cbsChecked : cbsUnchecked);
  }
}

CL_IMPLEMENT_CLASS(TvlCheckBoxActionLink)

Boolean TvlCheckBoxActionLink::IsCheckedLinked() {
  TvlCustomCheckBox* box = dynamic_cast<TvlCustomCheckBox*>(FClient);
  TCustomAction* action = dynamic_cast<TCustomAction*>(Action());
  return inherited::IsCheckedLinked() && box && action && box->CurrentState() != cbsGrayed &&
         (box->CurrentState() == cbsChecked) == action->Checked();
}

void TvlCheckBoxActionLink::SetChecked(Boolean Value) {
  TvlCustomCheckBox* box = dynamic_cast<TvlCustomCheckBox*>(FClient);
  if (!box || !IsCheckedLinked()) return;
  box->LockClick(true);
  box->LockChangeEvents(true);
  Finally unlock([&] {
    box->LockChangeEvents(false);
    box->LockClick(false);
  });
  box->SetState(Value ? cbsChecked : cbsUnchecked);
}
