// The properties object of an editor kind and what it owns: the buttons
// collection, the alignment, the assigned-value flags and the default-values
// provider; the registry of properties classes and the editors' exceptions.
//
// A properties object holds every setting that does not depend on one value
// or one window and is the factory of its editor kind: class-level members
// name the editor, view data, view info, style and buttons classes, so a grid
// holding only properties can paint a cell or create an in-place editor.
// Every setter calls Changed; BeginUpdate/EndUpdate collect one notification
// per batch, which goes to the owner's single hook OnPropertiesChanged.
#pragma once

#include "lib/foundation/nbCore.h"
#include "lib/foundation/vlClasses.h"
#include "platform/classes/Classes.h"
#include "platform/rtl/Variants.h"
#include "platform/vcl/Graphics.h"

class TBitmap;
class TvlCanvas;
class TvlControl;
class TvlCustomEdit;
class TvlCustomEditProperties;
class TvlCustomEditStyle;
class TvlCustomEditViewData;
class TvlCustomEditViewInfo;
class TvlContainerStyle;

// --- Shared types --------------------------------------------------------------------------------

CL_ENUM(TvlEditButtonsViewStyle, Byte, bvsNormal, bvsButtonsOnly, bvsButtonsAutoWidth)
CL_ENUM(TvlEditCloseUpReason, Byte, crUnknown, crTab, crClose, crCancel, crEnter)
CL_ENUM(TvlEditVertAlignment, Byte, taTopJustify, taBottomJustify, taVCenter)
CL_ENUM(TvlBlobKind, Byte, bkNone, bkBlob, bkGraphic, bkMemo, bkOle)
CL_ENUM(TvlEditSupportedOperation, Byte, esoAlwaysHotTrack, esoAutoHeight, esoEditing, esoFiltering,
        esoHorzAlignment, esoHotTrack, esoIncSearch, esoShowingCaption, esoSorting, esoSortingByDisplayText,
        esoTransparency)
using TvlEditSupportedOperations = TSet<TvlEditSupportedOperation, 2>;
CL_ENUM(TvlEditSpecialFeature, Byte, esfMinSize, esfBlobEditValue, esfNoContentPart)
using TvlEditSpecialFeatures = TSet<TvlEditSpecialFeature, 1>;
CL_ENUM(TvlEditButtonKind, Byte, bkEllipsis, bkDown, bkGlyph, bkText)
CL_ENUM(TvlEditButtonState, Byte, ebsDisabled, ebsNormal, ebsPressed, ebsSelected)
CL_ENUM(TvlEditButtonStyle, Byte, btsDefault, bts3D, btsFlat, btsSimple, btsHotFlat, btsUltraFlat, btsOffice11)
CL_ENUM(TvlEditBorderStyle, Byte, ebsNone, ebsSingle, ebsThick, ebsFlat, ebs3D, ebsUltraFlat, ebsOffice11)
CL_ENUM(TvlEditButtonTransparency, Byte, ebtNone, ebtInactive, ebtAlways, ebtHideInactive, ebtHideUnselected)
CL_ENUM(TvlEditPopupBorderStyle, Byte, epbsDefault, epbsSingle, epbsFrame3D, epbsFlat)
// The range dirLeft..dirDown of TvlDirection.
using TvlEditGradientDirection = TvlDirection;
CL_ENUM(TvlEditPaintOption, Byte, epoAllowZeroHeight, epoAutoHeight, epoHasExternalBorder, epoShowEndEllipsis,
        epoShowFocusRectWhenInplace)
using TvlEditPaintOptions = TSet<TvlEditPaintOption, 1>;
CL_ENUM(TvlEditContentOption, Byte, ecoShowFocusRectWhenInplace, ecoOffsetButtonContent)
using TvlEditContentOptions = TSet<TvlEditContentOption, 1>;
CL_ENUM(TvlEditBackgroundPaintingStyle, Byte, bpsSolid, bpsComboEdit, bpsComboListEdit)

// The two option bits of FormatOptionFlags.
constexpr Integer vlEditFormatsDisplayValue = 1;       // formats the value for display with a display format
constexpr Integer vlEditFormatsIgnoringCurrency = 2;   // asks the provider with AIsCurrencyValueAccepted False

// The editor's content layout, taken from a view data.
struct TvlEditContentParams {
  TRect ExternalBorderBounds{};
  TRect Offsets{};
  TvlEditContentOptions Options{};
  TSize SizeCorrection{};
};

// The limits of a measuring call; the neutral value is Height -1,
// MaxLineCount 0, Width -1.
struct TvlEditSizeProperties {
  Integer Height{-1};
  Integer MaxLineCount{};
  Integer Width{-1};
};

struct TvlInplaceEditPosition {
  TObject* Item{};
  Integer RecordIndex{};
};
struct TvlInplaceEditParams {
  Boolean MultiRowParent{};
  TvlInplaceEditPosition Position{};
};

using TvlEditButtonClickEvent = TDelegate<void(TObject* Sender, Integer AButtonIndex)>;
using TvlEditClosePopupEvent = TDelegate<void(TvlControl* Sender, TvlEditCloseUpReason AReason)>;
using TvlEditValidateEvent =
    TDelegate<void(TObject* Sender, Variant& DisplayValue, String& ErrorText, Boolean& Error)>;

// --- Exceptions ------------------------------------------------------------------------------------

RTL_EXCEPTION_CLASS(EvlEditError, EnbException);
RTL_EXCEPTION_CLASS(EvlEditValidationError, EvlEditError);

// --- Buttons -------------------------------------------------------------------------------------

class TvlEditButtons;

// One button inside an editor's frame. Every setter stores a new value only
// when it differs and then notifies the collection.
class TvlEditButton : public TCollectionItem {
  CL_CLASS(TvlEditButton, TCollectionItem)
 public:
  void Create(TCollection* Collection) override;
  void Destroy() override;
  void Assign(TPersistent* Source) override;

  const String& Caption() const { return FCaption; }
  void SetCaption(const String& Value);
  TAlignment ContentAlignment() const { return FContentAlignment; }
  void SetContentAlignment(TAlignment Value);
  Boolean Default() const { return FDefault; }
  void SetDefault(Boolean Value);
  Boolean Enabled() const { return FEnabled; }
  void SetEnabled(Boolean Value);
  // Made on first read.
  TBitmap* Glyph();
  // nil frees the bitmap; otherwise it is copied.
  void SetGlyph(TBitmap* Value);
  // The bitmap when one exists, without making it.
  TBitmap* GlyphOrNil() const { return FGlyph; }
  const String& Hint() const { return FHint; }
  void SetHint(const String& Value);
  TvlEditButtonKind Kind() const { return FKind; }
  void SetKind(TvlEditButtonKind Value);
  Boolean LeftAlignment() const { return FLeftAlignment; }
  void SetLeftAlignment(Boolean Value);
  Boolean Stretchable() const { return FStretchable; }
  void SetStretchable(Boolean Value);
  Integer Tag() const { return FTag; }
  void SetTag(Integer Value);
  TColor TextColor() const { return FTextColor; }
  void SetTextColor(TColor Value);
  Boolean Visible() const { return FVisible; }
  void SetVisible(Boolean Value);
  const String& VisibleCaption() const { return FVisibleCaption; }
  Integer Width() const { return FWidth; }
  // A negative width is ignored; 0 means automatic.
  void SetWidth(Integer Value);

  TvlEditButtons* Buttons() const;
  Boolean IsTagStored() { return FTag != 0; }

 private:
  void GlyphChanged(TObject* Sender);

  String FCaption;
  TAlignment FContentAlignment{};
  Boolean FDefault{};
  Boolean FEnabled{};
  TBitmap* FGlyph{};
  String FHint;
  TvlEditButtonKind FKind{};
  Boolean FLeftAlignment{};
  Boolean FStretchable{};
  Integer FTag{};
  TColor FTextColor{};
  Boolean FVisible{};
  String FVisibleCaption;
  Integer FWidth{};

  friend class TvlEditButtons;
};
using TvlEditButtonClass = TClassOf<TvlEditButton>;

class TvlEditButtons : public TCollection {
  CL_CLASS(TvlEditButtons, TCollection)
 public:
  virtual void Create(TPersistent* AOwner, TvlEditButtonClass AButtonClass);
  // The class of the buttons a collection of this class holds.
  virtual TvlEditButtonClass GetButtonClass() const { return ClassOf<TvlEditButton>(); }
  TvlEditButton* Add() { return static_cast<TvlEditButton*>(TCollection::Add()); }
  TvlEditButton* Items(Integer Index) const { return static_cast<TvlEditButton*>(TCollection::Items(Index)); }
  Integer VisibleCount() const;
  TPersistent* GetOwner() override { return FOwner; }
  const TNotifyEvent& OnChange() const { return FOnChange; }
  void SetOnChange(const TNotifyEvent& Value) { FOnChange = Value; }

 protected:
  void Update(TCollectionItem* Item) override;

 private:
  TPersistent* FOwner{};
  TNotifyEvent FOnChange;
};
using TvlEditButtonsClass = TClassOf<TvlEditButtons>;

// --- Alignment -----------------------------------------------------------------------------------

class TvlEditAlignment : public TPersistent {
  CL_CLASS(TvlEditAlignment, TPersistent)
 public:
  virtual void Create(TPersistent* AOwner);
  void Assign(TPersistent* Source) override;
  TPersistent* GetOwner() override { return FOwner; }
  // Forgets the assigned horizontal alignment.
  void Reset();

  TAlignment Horz() const { return FHorz; }
  void SetHorz(TAlignment Value);
  TvlEditVertAlignment Vert() const { return FVert; }
  void SetVert(TvlEditVertAlignment Value);
  Boolean IsHorzAssigned() const { return FIsHorzAssigned; }
  // The horizontal value without marking it assigned (the effective value of a copy).
  void SetHorzQuietly(TAlignment Value) { FHorz = Value; }
  const TNotifyEvent& OnChanged() const { return FOnChanged; }
  void SetOnChanged(const TNotifyEvent& Value) { FOnChanged = Value; }
  Boolean IsHorzStored() { return FIsHorzAssigned; }
  Boolean IsVertStored() { return FVert != taTopJustify; }

 private:
  void DoChanged() { vlCallNotifyEvent(FOnChanged, this); }

  TPersistent* FOwner{};
  TAlignment FHorz{};
  TvlEditVertAlignment FVert{};
  Boolean FIsHorzAssigned{};
  TNotifyEvent FOnChanged;
};

// --- Default values ---------------------------------------------------------------------------------

// Where a properties object takes the values it leaves unassigned: the data
// source of a bound editor.
class IvlEditDefaultValuesProvider : public virtual IInterface {
  CL_INTERFACE(IvlEditDefaultValuesProvider, "{4E8A6F21-37B0-4C5D-9E12-6A3B7C8D9F01}")
 public:
  virtual Boolean CanSetEditMode() = 0;
  virtual void ClearUsers() = 0;
  virtual TAlignment DefaultAlignment() = 0;
  virtual TvlBlobKind DefaultBlobKind() = 0;
  virtual Boolean DefaultCanModify() = 0;
  virtual String DefaultDisplayFormat() = 0;
  virtual String DefaultEditFormat() = 0;
  virtual String DefaultEditMask() = 0;
  virtual Boolean DefaultIsFloatValue() = 0;
  virtual Integer DefaultMaxLength() = 0;
  virtual Double DefaultMaxValue() = 0;
  virtual Double DefaultMinValue() = 0;
  virtual Integer DefaultPrecision() = 0;
  virtual Boolean DefaultReadOnly() = 0;
  virtual Boolean DefaultRequired() = 0;
  virtual TObject* GetInstance() = 0;
  virtual Boolean IsDataStorage() = 0;
  virtual Boolean IsBlob() = 0;
  virtual Boolean IsCurrency() = 0;
  virtual Boolean IsDataAvailable() = 0;
  virtual Boolean IsDisplayFormatDefined(Boolean AIsCurrencyValueAccepted) = 0;
  virtual Boolean IsOnGetTextAssigned() = 0;
  virtual Boolean IsOnSetTextAssigned() = 0;
  virtual Boolean IsValidChar(Char AChar) = 0;
};

// The answers for an editor not bound to data.
class TvlCustomEditDefaultValuesProvider : public TvlInterfacedPersistent, public IvlEditDefaultValuesProvider {
  CL_CLASS(TvlCustomEditDefaultValuesProvider, TvlInterfacedPersistent)
 public:
  // Detaches itself from every properties object first.
  void Destroy() override;
  Boolean CanSetEditMode() override { return true; }
  void ClearUsers() override;
  TAlignment DefaultAlignment() override;
  TvlBlobKind DefaultBlobKind() override { return bkMemo; }
  Boolean DefaultCanModify() override { return true; }
  String DefaultDisplayFormat() override { return String(); }
  String DefaultEditFormat() override { return String(); }
  String DefaultEditMask() override { return String(); }
  Boolean DefaultIsFloatValue() override { return false; }
  Integer DefaultMaxLength() override { return 0; }
  Double DefaultMaxValue() override { return 0; }
  Double DefaultMinValue() override { return 0; }
  Integer DefaultPrecision() override { return 15; }
  Boolean DefaultReadOnly() override { return false; }
  Boolean DefaultRequired() override { return false; }
  TObject* GetInstance() override { return this; }
  Boolean IsDataStorage() override { return false; }
  Boolean IsBlob() override { return false; }
  Boolean IsCurrency() override { return false; }
  Boolean IsDataAvailable() override { return true; }
  Boolean IsDisplayFormatDefined(Boolean) override { return false; }
  Boolean IsOnGetTextAssigned() override { return false; }
  Boolean IsOnSetTextAssigned() override { return false; }
  Boolean IsValidChar(Char) override { return true; }
};
using TvlCustomEditDefaultValuesProviderClass = TClassOf<TvlCustomEditDefaultValuesProvider>;

// Which of MaxValue, MinValue and ReadOnly are set on the owner.
class TvlCustomEditPropertiesValues : public TPersistent {
  CL_CLASS(TvlCustomEditPropertiesValues, TPersistent)
 public:
  virtual void Create(TPersistent* AOwner);
  void Assign(TPersistent* Source) override;
  TPersistent* GetOwner() override;
  virtual void RestoreDefaults();
  void BeginUpdate();
  void EndUpdate();

  Boolean MaxValue() const { return FMaxValue; }
  void SetMaxValue(Boolean Value);
  Boolean MinValue() const { return FMinValue; }
  void SetMinValue(Boolean Value);
  Boolean ReadOnly() const { return FReadOnly; }
  void SetReadOnly(Boolean Value);
  TvlCustomEditProperties* Properties() const { return FOwner; }
  Boolean IsMaxValueStored();
  Boolean IsMinValueStored();

 private:
  void SetFlag(Boolean& AFlag, Boolean Value);

  TvlCustomEditProperties* FOwner{};
  Boolean FMaxValue{};
  Boolean FMinValue{};
  Boolean FReadOnly{};

  friend class TvlCustomEditProperties;
};
using TvlCustomEditPropertiesValuesClass = TClassOf<TvlCustomEditPropertiesValues>;

// --- Properties ------------------------------------------------------------------------------------

using TvlCustomEditPropertiesClass = TClassOf<TvlCustomEditProperties>;
using TvlCustomEditClass = TClassOf<TvlCustomEdit>;
using TvlCustomEditStyleClass = TClassOf<TvlCustomEditStyle>;
using TvlCustomEditViewDataClass = TClassOf<TvlCustomEditViewData>;
using TvlCustomEditViewInfoClass = TClassOf<TvlCustomEditViewInfo>;

class TvlCustomEditProperties : public TvlInterfacedPersistent {
  CL_CLASS(TvlCustomEditProperties, TvlInterfacedPersistent)
 public:
  void Assign(TPersistent* Source) override;
  void Create(TPersistent* AOwner) override;
  void Destroy() override;

  // Class level (const, no fields).
  virtual Boolean InitialUseLeftAlignmentOnEditing() const { return true; }
  virtual TvlCustomEditPropertiesValuesClass AssignedFlagsClass() const {
    return ClassOf<TvlCustomEditPropertiesValues>();
  }
  virtual Integer FormatOptionFlags() const { return 0; }
  virtual TvlCustomEditViewDataClass EditViewDataClass() const;
  virtual Boolean ValueChangeReportedSeparately() const { return false; }
  virtual Boolean DisplayDependsOnFocus() const { return true; }
  virtual TvlEditButtonsClass GetButtonsClass() const { return ClassOf<TvlEditButtons>(); }
  virtual TvlCustomEditClass GetContainerClass() const;
  virtual TvlCustomEditStyleClass GetStyleClass() const;
  virtual TvlCustomEditViewInfoClass GetViewInfoClass() const;

  virtual Boolean ValidationSupported() { return false; }
  virtual void DropDefaultValuesProvider();
  virtual Boolean KeepsTabKey() { return false; }
  virtual Boolean CanCompareEditValue() { return false; }
  virtual void Update(TvlCustomEditProperties* AProperties) {}
  virtual Boolean CompareDisplayValues(const Variant& AEditValue1, const Variant& AEditValue2);
  // A new, ownerless properties object of the same class (the caller frees it).
  virtual TvlCustomEditProperties* CreatePreviewProperties();
  // A new view data (the caller frees it).
  virtual TvlCustomEditViewData* CreateViewData(TvlCustomEditStyle* AStyle, Boolean AIsInplace,
                                                Boolean APreviewMode = false);
  virtual void DataChanged() {}
  virtual String GetDisplayText(const Variant& AEditValue, Boolean AFullText = false, Boolean AIsInplace = true) {
    return String();
  }
  virtual TvlEditSpecialFeatures GetSpecialFeatures() { return TvlEditSpecialFeatures{}; }
  virtual TvlEditSupportedOperations GetSupportedOperations();
  virtual Boolean IsActivationKey(Char AKey) { return false; }
  virtual Boolean IsEditValueValid(Variant& EditValue, Boolean AEditFocused) { return true; }
  virtual Boolean IsResetEditClass() { return false; }
  virtual void PrepareDisplayValue(const Variant& AEditValue, Variant& DisplayValue, Boolean AEditFocused);
  virtual void RestoreDefaults();
  virtual void ValidateDisplayValue(Variant& ADisplayValue, String& AErrorText, Boolean& AError,
                                    TvlCustomEdit* AEdit);
  virtual Integer GetEditValueSource(Boolean AEditFocused) { return 0; }

  // Batches and notification.
  void BeginUpdate();
  void EndUpdate(Boolean AInvokeChanged = true);
  void Changed();
  Boolean ChangedLocked() const { return FChangedLocked || FUpdateCount > 0; }
  void LockUpdate(Boolean ALock) { FChangedLocked = ALock; }
  Integer UpdateCount() const { return FUpdateCount; }
  Boolean IsChanging() const { return FIsChangingCount > 0; }

  // Measuring through a temporary view data.
  void GetEditConstantPartSize(TvlCanvas* ACanvas, TvlCustomEditStyle* AEditStyle, Boolean AIsInplace,
                               const TvlEditSizeProperties& AEditSizeProperties, TSize& MinContentSize,
                               TSize& AConstantPartSize);
  TSize GetEditContentSize(TvlCanvas* ACanvas, TvlCustomEditStyle* AEditStyle, Boolean AIsInplace,
                           const Variant& AEditValue, const TvlEditSizeProperties& AEditSizeProperties);
  TSize GetEditSize(TvlCanvas* ACanvas, TvlCustomEditStyle* AEditStyle, Boolean AIsInplace,
                    const Variant& AEditValue, const TvlEditSizeProperties& AEditSizeProperties);
  Boolean IsValueEditorWithValueFormatting();
  void SetMinMaxValues(Double AMax, Double AMin);
  Boolean CanModifyByProvider();
  Boolean UsesProviderDisplayFormat(Boolean AEditFocused);
  String StandardErrorText();
  TAlignment DefaultHorzAlignment();

  // Properties.
  TvlEditAlignment* Alignment();
  void SetAlignment(TvlEditAlignment* Value);
  TvlCustomEditPropertiesValues* AssignedValues() const { return FAssignedValues; }
  void SetAssignedValues(TvlCustomEditPropertiesValues* Value) { FAssignedValues->Assign(Value); }
  Boolean AutoSelect() const { return FAutoSelect; }
  void SetAutoSelect(Boolean Value);
  Boolean BeepOnError() const { return FBeepOnError; }
  void SetBeepOnError(Boolean Value);
  TvlEditButtons* Buttons() const { return FButtons; }
  void SetButtons(TvlEditButtons* Value) { FButtons->Assign(Value); }
  TvlEditButtonsViewStyle ButtonsViewStyle() const { return FButtonsViewStyle; }
  void SetButtonsViewStyle(TvlEditButtonsViewStyle Value);
  Word ClearKey() const { return FClearKey; }
  void SetClearKey(Word Value);
  Word ClickKey() const { return FClickKey; }
  void SetClickKey(Word Value);
  IvlEditDefaultValuesProvider* IDefaultValuesProvider() const { return FIDefaultValuesProvider.get(); }
  void SetIDefaultValuesProvider(IvlEditDefaultValuesProvider* Value);
  Boolean ImmediatePost() const { return FImmediatePost; }
  void SetImmediatePost(Boolean Value);
  TvlEditAlignment* InnerAlignment() const { return FInnerAlignment; }
  Double MaxValue();
  void SetMaxValue(Double Value);
  Double MinValue();
  void SetMinValue(Double Value);
  Boolean ReadOnly();
  void SetReadOnly(Boolean Value);
  Boolean Transparent() const { return FTransparent; }
  void SetTransparent(Boolean Value);
  Boolean UseLeftAlignmentOnEditing() const { return FUseLeftAlignmentOnEditing; }
  void SetUseLeftAlignmentOnEditing(Boolean Value);
  Boolean UseMouseWheel() const { return FUseMouseWheel; }
  void SetUseMouseWheel(Boolean Value);
  Boolean ValidateOnEnter() const { return FValidateOnEnter; }
  void SetValidateOnEnter(Boolean Value);
  TPersistent* PropertiesOwner() const { return Owner(); }

  const TvlEditButtonClickEvent& OnButtonClick() const { return FOnButtonClick; }
  void SetOnButtonClick(const TvlEditButtonClickEvent& Value) { FOnButtonClick = Value; }
  const TNotifyEvent& OnChange() const { return FOnChange; }
  void SetOnChange(const TNotifyEvent& Value) { FOnChange = Value; }
  const TvlEditClosePopupEvent& OnClosePopup() const { return FOnClosePopup; }
  void SetOnClosePopup(const TvlEditClosePopupEvent& Value) { FOnClosePopup = Value; }
  const TNotifyEvent& OnEditValueChanged() const { return FOnEditValueChanged; }
  void SetOnEditValueChanged(const TNotifyEvent& Value) { FOnEditValueChanged = Value; }
  const TvlEditValidateEvent& OnValidate() const { return FOnValidate; }
  void SetOnValidate(const TvlEditValidateEvent& Value) { FOnValidate = Value; }
  const TNotifyEvent& OnPropertiesChanged() const { return FOnPropertiesChanged; }
  void SetOnPropertiesChanged(const TNotifyEvent& Value) { FOnPropertiesChanged = Value; }

  // Stored rules of the published properties (descendants publish them).
  Boolean IsAlignmentStored();
  Boolean IsReadOnlyStored() { return FAssignedValues->ReadOnly(); }
  Boolean IsMaxValueStored() { return FAssignedValues->MaxValue(); }
  Boolean IsMinValueStored() { return FAssignedValues->MinValue(); }
  Boolean IsUseLeftAlignmentOnEditingStored() {
    return FUseLeftAlignmentOnEditing != InitialUseLeftAlignmentOnEditing();
  }

 protected:
  virtual void HandleAlignmentChange(TObject* Sender);
  virtual void HandleButtonsChange(TObject* Sender);
  virtual void FirePropertiesChanged();
  virtual void HandleFreeNotification(TComponent* AComponent) {}
  TvlFreeNotificator* FreeNotificator() const { return FFreeNotificator; }

 private:
  void FreeNotification(TComponent* Sender) { HandleFreeNotification(Sender); }
  void RunValidateEvent(Variant& ADisplayValue, String& AErrorText, Boolean& AError, TvlCustomEdit* AEdit);

  Boolean FAutoSelect{};
  Boolean FBeepOnError{};
  TvlEditButtons* FButtons{};
  TvlEditButtonsViewStyle FButtonsViewStyle{};
  Boolean FChangedOccurred{};
  Word FClearKey{};
  Word FClickKey{};
  TvlFreeNotificator* FFreeNotificator{};
  Boolean FImmediatePost{};
  TvlEditAlignment* FInnerAlignment{};
  Integer FIsChangingCount{};
  Double FMaxValue{};
  Double FMinValue{};
  Boolean FReadOnly{};
  Boolean FTransparent{};
  Integer FUpdateCount{};
  Boolean FUseLeftAlignmentOnEditing{};
  Boolean FUseMouseWheel{};
  Boolean FValidateOnEnter{};
  TvlEditButtonClickEvent FOnButtonClick;
  TNotifyEvent FOnChange;
  TvlEditClosePopupEvent FOnClosePopup;
  TNotifyEvent FOnEditValueChanged;
  TvlEditValidateEvent FOnValidate;
  TNotifyEvent FOnPropertiesChanged;
  TvlEditAlignment* FAlignment{};
  TvlCustomEditPropertiesValues* FAssignedValues{};
  Boolean FChangedLocked{};
  TInterfacePtr<IvlEditDefaultValuesProvider> FIDefaultValuesProvider;

  friend class TvlCustomEditPropertiesValues;
  friend class TvlCustomEditDefaultValuesProvider;
};

// --- Process-wide -----------------------------------------------------------------------------------

// The registry of properties classes (sorted; made on first use, freed at
// the editors' shut-down).
TvlRegisteredClasses* vlGetEditPropertiesRegistry();
// Always False: nothing in the system turns it on.
Boolean vlGetEditGlobalOption();

// The default Ctrl+Enter of ClickKey.
constexpr Word vlEditDefaultClickKey = 0x400D;
