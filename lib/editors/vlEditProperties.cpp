#include "lib/editors/vlEditProperties.h"

#include <algorithm>
#include <vector>

#include "lib/editors/vlEdit.h"
#include "lib/editors/vlEditConsts.h"
#include "lib/editors/vlEditStyles.h"
#include "lib/editors/vlEditViewInfo.h"
#include "lib/foundation/vlControlBasics.h"
#include "lib/foundation/vlVariants.h"
#include "platform/classes/TypInfoBuild.h"
#include "platform/rtl/Finally.h"
#include "platform/vcl/Graphics.h"

namespace {

// The live properties objects (made at the editors' start-up).
std::vector<TvlCustomEditProperties*>* gPropertiesList = nullptr;
TvlRegisteredClasses* gRegistry = nullptr;

// The first component up the owner chain of a persistent object.
TComponent* OwningComponent(TPersistent* APersistent) {
  for (Integer depth = 0; APersistent && depth < 64; ++depth) {
    if (TComponent* c = dynamic_cast<TComponent*>(APersistent)) return c;
    APersistent = vlGetPersistentOwner(APersistent);
  }
  return nullptr;
}

}  // namespace

// The editors' unit makes and frees the process-wide lists (vlEdit.cpp).
void vlEditPropertiesStartup() {
  if (!gPropertiesList) gPropertiesList = new std::vector<TvlCustomEditProperties*>();
}

void vlEditPropertiesShutdown() {
  FreeAndNil(gRegistry);
  delete gPropertiesList;
  gPropertiesList = nullptr;
}

TvlRegisteredClasses* vlGetEditPropertiesRegistry() {
  if (!gRegistry) {
    gRegistry = New<TvlRegisteredClasses>(false);
    gRegistry->SetSorted(true);
  }
  return gRegistry;
}

Boolean vlGetEditGlobalOption() { return false; }

// --- TvlEditButton ---------------------------------------------------------------------------------------

CL_IMPLEMENT_CLASS_PUBLISHED(TvlEditButton, P) {
  P.Property(u"Caption", &TvlEditButton::Caption, &TvlEditButton::SetCaption);
  P.Property(u"ContentAlignment", &TvlEditButton::ContentAlignment, &TvlEditButton::SetContentAlignment)
      .Default(taCenter);
  P.Property(u"Default", &TvlEditButton::Default, &TvlEditButton::SetDefault).Default(false);
  P.Property(u"Enabled", &TvlEditButton::Enabled, &TvlEditButton::SetEnabled).Default(true);
  P.Property(u"Glyph", &TvlEditButton::Glyph, &TvlEditButton::SetGlyph)
      .Stored([](TvlEditButton* B) { return B->GlyphOrNil() && !B->GlyphOrNil()->Empty(); });
  P.Property(u"Hint", &TvlEditButton::Hint, &TvlEditButton::SetHint);
  P.Property(u"Kind", &TvlEditButton::Kind, &TvlEditButton::SetKind).Default(bkDown);
  P.Property(u"LeftAlignment", &TvlEditButton::LeftAlignment, &TvlEditButton::SetLeftAlignment).Default(false);
  P.Property(u"Stretchable", &TvlEditButton::Stretchable, &TvlEditButton::SetStretchable).Default(true);
  P.Property(u"Tag", &TvlEditButton::Tag, &TvlEditButton::SetTag).Stored(&TvlEditButton::IsTagStored);
  P.Property(u"Visible", &TvlEditButton::Visible, &TvlEditButton::SetVisible).Default(true);
  P.Property(u"Width", &TvlEditButton::Width, &TvlEditButton::SetWidth).Default(0);
}

void TvlEditButton::Create(TCollection* Collection) {
  if (Collection) Collection->BeginUpdate();
  Finally done([&] {
    if (Collection) Collection->EndUpdate();
  });
  inherited::Create(Collection);
  FContentAlignment = taCenter;
  FEnabled = true;
  FKind = bkDown;
  FStretchable = true;
  FTextColor = clBtnText;
  FVisible = true;
}

void TvlEditButton::Destroy() {
  FreeAndNil(FGlyph);
  inherited::Destroy();
}

TvlEditButtons* TvlEditButton::Buttons() const { return static_cast<TvlEditButtons*>(Collection()); }

void TvlEditButton::Assign(TPersistent* Source) {
  TvlEditButton* src = dynamic_cast<TvlEditButton*>(Source);
  if (!src) {
    inherited::Assign(Source);
    return;
  }
  if (Collection()) Collection()->BeginUpdate();
  Finally done([&] {
    if (Collection()) Collection()->EndUpdate();
  });
  SetCaption(src->Caption());
  FVisibleCaption = src->VisibleCaption();
  SetContentAlignment(src->ContentAlignment());
  SetDefault(src->Default());
  SetEnabled(src->Enabled());
  SetGlyph(src->GlyphOrNil());
  SetKind(src->Kind());
  SetLeftAlignment(src->LeftAlignment());
  SetStretchable(src->Stretchable());
  SetTag(src->Tag());
  SetTextColor(src->TextColor());
  SetVisible(src->Visible());
  SetWidth(src->Width());
  SetHint(src->Hint());
}

void TvlEditButton::SetCaption(const String& Value) {
  if (FCaption == Value) return;
  FCaption = Value;
  FVisibleCaption = vlStripAccelChars(Value);
  Changed(false);
}

void TvlEditButton::SetContentAlignment(TAlignment Value) {
  if (FContentAlignment == Value) return;
  FContentAlignment = Value;
  Changed(false);
}

void TvlEditButton::SetDefault(Boolean Value) {
  if (FDefault == Value) return;
  if (Value && Collection())
    for (Integer i = 0; i < Collection()->Count(); ++i)
      static_cast<TvlEditButton*>(Collection()->Items(i))->FDefault = false;
  FDefault = Value;
  Changed(true);
}

void TvlEditButton::SetEnabled(Boolean Value) {
  if (FEnabled == Value) return;
  FEnabled = Value;
  Changed(false);
}

TBitmap* TvlEditButton::Glyph() {
  if (!FGlyph) {
    FGlyph = New<TBitmap>();
    FGlyph->SetOnChange(TNotifyEvent(this, &TvlEditButton::GlyphChanged));
  }
  return FGlyph;
}

void TvlEditButton::SetGlyph(TBitmap* Value) {
  if (!Value) {
    if (!FGlyph) return;
    FreeAndNil(FGlyph);
    Changed(false);
    return;
  }
  Glyph()->Assign(Value);
}

void TvlEditButton::GlyphChanged(TObject*) { Changed(false); }

void TvlEditButton::SetHint(const String& Value) {
  if (FHint == Value) return;
  FHint = Value;
  Changed(false);
}

void TvlEditButton::SetKind(TvlEditButtonKind Value) {
  if (FKind == Value) return;
  FKind = Value;
  Changed(false);
}

void TvlEditButton::SetLeftAlignment(Boolean Value) {
  if (FLeftAlignment == Value) return;
  FLeftAlignment = Value;
  Changed(false);
}

void TvlEditButton::SetStretchable(Boolean Value) {
  if (FStretchable == Value) return;
  FStretchable = Value;
  Changed(false);
}

void TvlEditButton::SetTag(Integer Value) {
  if (FTag == Value) return;
  FTag = Value;
  Changed(false);
}

void TvlEditButton::SetTextColor(TColor Value) {
  if (FTextColor == Value) return;
  FTextColor = Value;
  Changed(false);
}

void TvlEditButton::SetVisible(Boolean Value) {
  if (FVisible == Value) return;
  FVisible = Value;
  Changed(true);
}

void TvlEditButton::SetWidth(Integer Value) {
  if (Value < 0 || FWidth == Value) return;
  FWidth = Value;
  Changed(false);
}

// --- TvlEditButtons --------------------------------------------------------------------------------------

CL_IMPLEMENT_CLASS(TvlEditButtons)

void TvlEditButtons::Create(TPersistent* AOwner, TvlEditButtonClass AButtonClass) {
  inherited::Create(AButtonClass);
  FOwner = AOwner;
}

Integer TvlEditButtons::VisibleCount() const {
  Integer n = 0;
  for (Integer i = 0; i < Count(); ++i)
    if (Items(i)->Visible()) ++n;
  return n;
}

void TvlEditButtons::Update(TCollectionItem*) { vlCallNotifyEvent(FOnChange, this); }

// --- TvlEditAlignment --------------------------------------------------------------------------------------

CL_IMPLEMENT_CLASS_PUBLISHED(TvlEditAlignment, P) {
  P.Property(u"Horz", &TvlEditAlignment::Horz, &TvlEditAlignment::SetHorz).Stored(&TvlEditAlignment::IsHorzStored);
  P.Property(u"Vert", &TvlEditAlignment::Vert, &TvlEditAlignment::SetVert).Stored(&TvlEditAlignment::IsVertStored);
}

void TvlEditAlignment::Create(TPersistent* AOwner) {
  FOwner = AOwner;
  FHorz = taLeftJustify;
  FVert = taTopJustify;
}

void TvlEditAlignment::Assign(TPersistent* Source) {
  TvlEditAlignment* src = dynamic_cast<TvlEditAlignment*>(Source);
  if (!src) {
    inherited::Assign(Source);
    return;
  }
  FVert = src->FVert;
  FHorz = src->FHorz;
  FIsHorzAssigned = src->FIsHorzAssigned;
  DoChanged();
}

void TvlEditAlignment::Reset() {
  FIsHorzAssigned = false;
  DoChanged();
}

void TvlEditAlignment::SetHorz(TAlignment Value) {
  if (FIsHorzAssigned && FHorz == Value) return;
  FHorz = Value;
  FIsHorzAssigned = true;
  DoChanged();
}

void TvlEditAlignment::SetVert(TvlEditVertAlignment Value) {
  if (FVert == Value) return;
  FVert = Value;
  DoChanged();
}

// --- TvlCustomEditDefaultValuesProvider ---------------------------------------------------------------------

CL_IMPLEMENT_CLASS(TvlCustomEditDefaultValuesProvider)

void TvlCustomEditDefaultValuesProvider::Destroy() {
  ClearUsers();
  inherited::Destroy();
}

TAlignment TvlCustomEditDefaultValuesProvider::DefaultAlignment() { return taLeftJustify; }

void TvlCustomEditDefaultValuesProvider::ClearUsers() {
  if (!gPropertiesList) return;
  // A copy: dropping a provider may make an owner free properties.
  std::vector<TvlCustomEditProperties*> users = *gPropertiesList;
  for (TvlCustomEditProperties* p : users) {
    if (!gPropertiesList || std::find(gPropertiesList->begin(), gPropertiesList->end(), p) == gPropertiesList->end())
      continue;
    IvlEditDefaultValuesProvider* provider = p->IDefaultValuesProvider();
    if (provider && provider->GetInstance() == this) p->DropDefaultValuesProvider();
  }
}

// --- TvlCustomEditPropertiesValues -------------------------------------------------------------------------

CL_IMPLEMENT_CLASS_PUBLISHED(TvlCustomEditPropertiesValues, P) {
  P.Property(u"ReadOnly", &TvlCustomEditPropertiesValues::ReadOnly, &TvlCustomEditPropertiesValues::SetReadOnly)
      .Default(false);
}

void TvlCustomEditPropertiesValues::Create(TPersistent* AOwner) {
  FOwner = dynamic_cast<TvlCustomEditProperties*>(AOwner);
}

TPersistent* TvlCustomEditPropertiesValues::GetOwner() { return FOwner; }

void TvlCustomEditPropertiesValues::BeginUpdate() {
  if (FOwner) FOwner->BeginUpdate();
}

void TvlCustomEditPropertiesValues::EndUpdate() {
  if (FOwner) FOwner->EndUpdate(true);
}

void TvlCustomEditPropertiesValues::Assign(TPersistent* Source) {
  TvlCustomEditPropertiesValues* src = dynamic_cast<TvlCustomEditPropertiesValues*>(Source);
  if (!src) {
    inherited::Assign(Source);
    return;
  }
  BeginUpdate();
  Finally done([&] { EndUpdate(); });
  SetMaxValue(src->FMaxValue);
  SetMinValue(src->FMinValue);
  SetReadOnly(src->FReadOnly);
}

void TvlCustomEditPropertiesValues::RestoreDefaults() {
  BeginUpdate();
  Finally done([&] { EndUpdate(); });
  SetMaxValue(false);
  SetMinValue(false);
  SetReadOnly(false);
}

void TvlCustomEditPropertiesValues::SetFlag(Boolean& AFlag, Boolean Value) {
  if (AFlag == Value) return;
  AFlag = Value;
  if (FOwner) FOwner->Changed();
}

void TvlCustomEditPropertiesValues::SetMaxValue(Boolean Value) { SetFlag(FMaxValue, Value); }
void TvlCustomEditPropertiesValues::SetMinValue(Boolean Value) { SetFlag(FMinValue, Value); }
void TvlCustomEditPropertiesValues::SetReadOnly(Boolean Value) { SetFlag(FReadOnly, Value); }

// A zero bound is the value's own default and would not be written: the
// flag is, when the owner publishes the bound.
Boolean TvlCustomEditPropertiesValues::IsMaxValueStored() {
  return FMaxValue && FOwner && FOwner->MaxValue() == 0 && GetPropInfo(FOwner, u"MaxValue");
}

Boolean TvlCustomEditPropertiesValues::IsMinValueStored() {
  return FMinValue && FOwner && FOwner->MinValue() == 0 && GetPropInfo(FOwner, u"MinValue");
}

// --- TvlCustomEditProperties -------------------------------------------------------------------------------

CL_IMPLEMENT_CLASS(TvlCustomEditProperties)

void TvlCustomEditProperties::Create(TPersistent* AOwner) {
  inherited::Create(AOwner);
  if (gPropertiesList) gPropertiesList->push_back(this);
  FFreeNotificator = New<TvlFreeNotificator>(static_cast<TComponent*>(nullptr));
  FFreeNotificator->SetOnFreeNotification(TvlFreeNotificationEvent(this, &TvlCustomEditProperties::FreeNotification));
  FAlignment = New<TvlEditAlignment>(static_cast<TPersistent*>(this));
  FAlignment->SetOnChanged(TNotifyEvent(this, &TvlCustomEditProperties::HandleAlignmentChange));
  FAssignedValues = CreateFrom(AssignedFlagsClass(), static_cast<TPersistent*>(this));
  FAutoSelect = true;
  FButtons = CreateFrom(GetButtonsClass(), static_cast<TPersistent*>(this), GetButtonsClass()->GetButtonClass());
  FButtons->SetOnChange(TNotifyEvent(this, &TvlCustomEditProperties::HandleButtonsChange));
  FButtonsViewStyle = bvsNormal;
  FClickKey = vlEditDefaultClickKey;
  FUseLeftAlignmentOnEditing = InitialUseLeftAlignmentOnEditing();
  FUseMouseWheel = true;
  FInnerAlignment = New<TvlEditAlignment>(static_cast<TPersistent*>(this));
  FUpdateCount = 0;
}

void TvlCustomEditProperties::Destroy() {
  vlDisconnectPropertiesFromInplaceEditLists(this);
  FIDefaultValuesProvider = nullptr;
  if (FButtons) FButtons->SetOnChange(TNotifyEvent());
  FreeAndNil(FButtons);
  FreeAndNil(FInnerAlignment);
  FreeAndNil(FAssignedValues);
  FreeAndNil(FAlignment);
  FreeAndNil(FFreeNotificator);
  if (gPropertiesList) {
    auto it = std::find(gPropertiesList->begin(), gPropertiesList->end(), this);
    if (it != gPropertiesList->end()) gPropertiesList->erase(it);
  }
  inherited::Destroy();
}

TvlCustomEditViewDataClass TvlCustomEditProperties::EditViewDataClass() const {
  return ClassOf<TvlCustomEditViewData>();
}
TvlCustomEditClass TvlCustomEditProperties::GetContainerClass() const { return ClassOf<TvlCustomEdit>(); }
TvlCustomEditStyleClass TvlCustomEditProperties::GetStyleClass() const { return ClassOf<TvlEditStyle>(); }
TvlCustomEditViewInfoClass TvlCustomEditProperties::GetViewInfoClass() const {
  return ClassOf<TvlCustomEditViewInfo>();
}

void TvlCustomEditProperties::Assign(TPersistent* Source) {
  TvlCustomEditProperties* src = dynamic_cast<TvlCustomEditProperties*>(Source);
  if (!src) {
    inherited::Assign(Source);
    return;
  }
  BeginUpdate();
  Finally done([&] { EndUpdate(true); });
  SetAutoSelect(src->AutoSelect());
  FButtons->Assign(src->Buttons());
  SetButtonsViewStyle(src->ButtonsViewStyle());
  FBeepOnError = src->FBeepOnError;
  FClearKey = src->FClearKey;
  FClickKey = src->FClickKey;
  FUseLeftAlignmentOnEditing = src->FUseLeftAlignmentOnEditing;
  FIDefaultValuesProvider = src->IDefaultValuesProvider();
  SetAlignment(src->Alignment());
  FAssignedValues->SetMaxValue(false);
  if (src->AssignedValues()->MaxValue()) SetMaxValue(src->MaxValue());
  FAssignedValues->SetMinValue(false);
  if (src->AssignedValues()->MinValue()) SetMinValue(src->MinValue());
  FAssignedValues->SetReadOnly(false);
  if (src->AssignedValues()->ReadOnly()) SetReadOnly(src->ReadOnly());
  FImmediatePost = src->FImmediatePost;
  SetTransparent(src->Transparent());
  FUseMouseWheel = src->FUseMouseWheel;
  FValidateOnEnter = src->FValidateOnEnter;
  FOnButtonClick = src->FOnButtonClick;
  FOnChange = src->FOnChange;
  FOnEditValueChanged = src->FOnEditValueChanged;
  FOnValidate = src->FOnValidate;
}

// --- Notification --------------------------------------------------------------------------------------------

void TvlCustomEditProperties::Changed() {
  TComponent* owner = dynamic_cast<TComponent*>(Owner());
  if (ChangedLocked() || (owner && owner->ComponentState().Contains(csDestroying))) {
    FChangedOccurred = true;
    return;
  }
  FirePropertiesChanged();
}

void TvlCustomEditProperties::FirePropertiesChanged() {
  if (!Assigned(FOnPropertiesChanged)) return;
  ++FIsChangingCount;
  Finally done([&] { --FIsChangingCount; });
  FOnPropertiesChanged(this);
}

void TvlCustomEditProperties::BeginUpdate() {
  if (FUpdateCount == 0) FChangedOccurred = false;
  ++FUpdateCount;
}

void TvlCustomEditProperties::EndUpdate(Boolean AInvokeChanged) {
  if (FUpdateCount == 0) return;
  --FUpdateCount;
  if (FUpdateCount == 0 && AInvokeChanged && FChangedOccurred) Changed();
}

void TvlCustomEditProperties::HandleAlignmentChange(TObject*) {
  FInnerAlignment->Assign(FAlignment);
  Changed();
}

void TvlCustomEditProperties::HandleButtonsChange(TObject*) { Changed(); }

void TvlCustomEditProperties::DropDefaultValuesProvider() { FIDefaultValuesProvider = nullptr; }

// --- Settings --------------------------------------------------------------------------------------------------

#define CL_EDIT_PROPERTY_SETTER(Name, Type, Field) \
  void TvlCustomEditProperties::Set##Name(Type Value) { \
    if (Field == Value) return;                         \
    Field = Value;                                      \
    Changed();                                          \
  }
CL_EDIT_PROPERTY_SETTER(AutoSelect, Boolean, FAutoSelect)
CL_EDIT_PROPERTY_SETTER(BeepOnError, Boolean, FBeepOnError)
CL_EDIT_PROPERTY_SETTER(ButtonsViewStyle, TvlEditButtonsViewStyle, FButtonsViewStyle)
CL_EDIT_PROPERTY_SETTER(ClearKey, Word, FClearKey)
CL_EDIT_PROPERTY_SETTER(ClickKey, Word, FClickKey)
CL_EDIT_PROPERTY_SETTER(ImmediatePost, Boolean, FImmediatePost)
CL_EDIT_PROPERTY_SETTER(Transparent, Boolean, FTransparent)
CL_EDIT_PROPERTY_SETTER(UseLeftAlignmentOnEditing, Boolean, FUseLeftAlignmentOnEditing)
CL_EDIT_PROPERTY_SETTER(UseMouseWheel, Boolean, FUseMouseWheel)
CL_EDIT_PROPERTY_SETTER(ValidateOnEnter, Boolean, FValidateOnEnter)
#undef CL_EDIT_PROPERTY_SETTER

void TvlCustomEditProperties::SetIDefaultValuesProvider(IvlEditDefaultValuesProvider* Value) {
  FIDefaultValuesProvider = Value;
  if (dynamic_cast<TvlCustomEdit*>(Owner())) Changed();
}

TAlignment TvlCustomEditProperties::DefaultHorzAlignment() {
  if (IDefaultValuesProvider()) return IDefaultValuesProvider()->DefaultAlignment();
  return FInnerAlignment->Horz();
}

Boolean TvlCustomEditProperties::IsAlignmentStored() {
  return FInnerAlignment->IsHorzAssigned() || FInnerAlignment->Vert() != taTopJustify;
}

TvlEditAlignment* TvlCustomEditProperties::Alignment() {
  FAlignment->SetOnChanged(TNotifyEvent());
  FAlignment->Assign(FInnerAlignment);
  TComponent* owner = OwningComponent(this);
  const Boolean writing = owner && owner->ComponentState().Contains(csWriting);
  if (!(IsAlignmentStored() && writing) && !FInnerAlignment->IsHorzAssigned())
    FAlignment->SetHorzQuietly(DefaultHorzAlignment());
  FAlignment->SetOnChanged(TNotifyEvent(this, &TvlCustomEditProperties::HandleAlignmentChange));
  return FAlignment;
}

void TvlCustomEditProperties::SetAlignment(TvlEditAlignment* Value) {
  FInnerAlignment->Assign(Value);
  Changed();
}

Double TvlCustomEditProperties::MaxValue() {
  if (FAssignedValues->MaxValue()) return FMaxValue;
  if (IDefaultValuesProvider()) return IDefaultValuesProvider()->DefaultMaxValue();
  return 0;
}

Double TvlCustomEditProperties::MinValue() {
  if (FAssignedValues->MinValue()) return FMinValue;
  if (IDefaultValuesProvider()) return IDefaultValuesProvider()->DefaultMinValue();
  return 0;
}

Boolean TvlCustomEditProperties::ReadOnly() {
  if (FAssignedValues->ReadOnly()) return FReadOnly;
  if (IDefaultValuesProvider()) return IDefaultValuesProvider()->DefaultReadOnly();
  return false;
}

void TvlCustomEditProperties::SetMaxValue(Double Value) {
  if (FAssignedValues->MaxValue() && FMaxValue == Value) return;
  FMaxValue = Value;
  FAssignedValues->FMaxValue = true;
  Changed();
}

void TvlCustomEditProperties::SetMinValue(Double Value) {
  if (FAssignedValues->MinValue() && FMinValue == Value) return;
  FMinValue = Value;
  FAssignedValues->FMinValue = true;
  Changed();
}

void TvlCustomEditProperties::SetReadOnly(Boolean Value) {
  if (FAssignedValues->ReadOnly() && FReadOnly == Value) return;
  FReadOnly = Value;
  FAssignedValues->FReadOnly = true;
  Changed();
}

void TvlCustomEditProperties::SetMinMaxValues(Double AMax, Double AMin) {
  if (FAssignedValues->MaxValue() && FAssignedValues->MinValue() && FMaxValue == AMax && FMinValue == AMin) return;
  FMaxValue = AMax;
  FMinValue = AMin;
  FAssignedValues->FMaxValue = true;
  FAssignedValues->FMinValue = true;
  Changed();
}

Boolean TvlCustomEditProperties::CanModifyByProvider() {
  if (FAssignedValues->ReadOnly() && !FReadOnly) return true;
  if (!ReadOnly() && IDefaultValuesProvider())
    return IDefaultValuesProvider()->DefaultCanModify() && IDefaultValuesProvider()->CanSetEditMode();
  return !ReadOnly();
}

String TvlCustomEditProperties::StandardErrorText() { return vlGetResourceStringText(vlSEditValidateErrorText); }

Boolean TvlCustomEditProperties::UsesProviderDisplayFormat(Boolean AEditFocused) {
  if (AEditFocused || !(FormatOptionFlags() & vlEditFormatsDisplayValue) || !IDefaultValuesProvider()) return false;
  return IDefaultValuesProvider()->IsDisplayFormatDefined(!(FormatOptionFlags() & vlEditFormatsIgnoringCurrency));
}

Boolean TvlCustomEditProperties::IsValueEditorWithValueFormatting() {
  return (FormatOptionFlags() & vlEditFormatsDisplayValue) && GetEditValueSource(true) == 0 &&
         GetEditValueSource(false) == 1 && IDefaultValuesProvider() &&
         IDefaultValuesProvider()->IsDisplayFormatDefined(!(FormatOptionFlags() & vlEditFormatsIgnoringCurrency));
}

TvlEditSupportedOperations TvlCustomEditProperties::GetSupportedOperations() {
  return FButtons->Count() > 0 ? TvlEditSupportedOperations{esoHotTrack} : TvlEditSupportedOperations{};
}

void TvlCustomEditProperties::PrepareDisplayValue(const Variant& AEditValue, Variant& DisplayValue, Boolean) {
  DisplayValue = AEditValue;
}

Boolean TvlCustomEditProperties::CompareDisplayValues(const Variant& AEditValue1, const Variant& AEditValue2) {
  Variant d1, d2;
  PrepareDisplayValue(AEditValue1, d1, false);
  PrepareDisplayValue(AEditValue2, d2, false);
  return vlEditValuesEqual(d1, d2);
}

TvlCustomEditProperties* TvlCustomEditProperties::CreatePreviewProperties() {
  return CreateFrom(TvlCustomEditPropertiesClass(ClassType()), static_cast<TPersistent*>(nullptr));
}

TvlCustomEditViewData* TvlCustomEditProperties::CreateViewData(TvlCustomEditStyle* AStyle, Boolean AIsInplace,
                                                               Boolean APreviewMode) {
  TvlCustomEditViewData* data = CreateFrom(EditViewDataClass(), this, AStyle, AIsInplace);
  data->PreviewMode = APreviewMode;
  return data;
}

void TvlCustomEditProperties::RestoreDefaults() {
  FInnerAlignment->Reset();
  BeginUpdate();
  Finally done([&] { EndUpdate(true); });
  FAssignedValues->RestoreDefaults();
}

void TvlCustomEditProperties::RunValidateEvent(Variant& ADisplayValue, String& AErrorText, Boolean& AError,
                                               TvlCustomEdit* AEdit) {
  TvlCustomEditProperties* item = AEdit ? AEdit->ActiveProperties() : nullptr;
  if (item == this) item = nullptr;
  TvlCustomEditProperties* own = AEdit ? AEdit->InternalProperties() : this;
  const Boolean handlers = Assigned(own->OnValidate()) || (item && Assigned(item->OnValidate()));
  if (!handlers) return;
  const Variant before = ADisplayValue;
  TObject* sender = AEdit ? static_cast<TObject*>(AEdit) : static_cast<TObject*>(this);
  if (Assigned(own->OnValidate())) own->OnValidate()(sender, ADisplayValue, AErrorText, AError);
  if (item && Assigned(item->OnValidate())) item->OnValidate()(sender, ADisplayValue, AErrorText, AError);
  // A handler that reported an error without correcting the value gets the editor's current text back.
  if (AError && AEdit && VarToStr(ADisplayValue) == VarToStr(before)) ADisplayValue = AEdit->DataBinding()->GetDisplayValue();
}

void TvlCustomEditProperties::ValidateDisplayValue(Variant& ADisplayValue, String& AErrorText, Boolean& AError,
                                                   TvlCustomEdit* AEdit) {
  if (!ValidationSupported()) return;
  if (AErrorText.empty()) AErrorText = StandardErrorText();
  RunValidateEvent(ADisplayValue, AErrorText, AError, AEdit);
}

// --- Measuring ---------------------------------------------------------------------------------------------------

void TvlCustomEditProperties::GetEditConstantPartSize(TvlCanvas* ACanvas, TvlCustomEditStyle* AEditStyle,
                                                      Boolean AIsInplace,
                                                      const TvlEditSizeProperties& AEditSizeProperties,
                                                      TSize& MinContentSize, TSize& AConstantPartSize) {
  TvlCustomEditViewData* data = CreateViewData(AEditStyle, AIsInplace, false);
  Finally freed([&] { Free(data); });
  data->GetEditConstantPartSize(ACanvas, AEditSizeProperties, AConstantPartSize, MinContentSize);
}

TSize TvlCustomEditProperties::GetEditContentSize(TvlCanvas* ACanvas, TvlCustomEditStyle* AEditStyle,
                                                  Boolean AIsInplace, const Variant& AEditValue,
                                                  const TvlEditSizeProperties& AEditSizeProperties) {
  TvlCustomEditViewData* data = CreateViewData(AEditStyle, AIsInplace, false);
  Finally freed([&] { Free(data); });
  return data->GetEditContentSize(ACanvas, AEditValue, AEditSizeProperties);
}

TSize TvlCustomEditProperties::GetEditSize(TvlCanvas* ACanvas, TvlCustomEditStyle* AEditStyle, Boolean AIsInplace,
                                           const Variant& AEditValue,
                                           const TvlEditSizeProperties& AEditSizeProperties) {
  TvlCustomEditViewData* data = CreateViewData(AEditStyle, AIsInplace, false);
  Finally freed([&] { Free(data); });
  return data->GetEditSize(ACanvas, AEditValue, AEditSizeProperties);
}
