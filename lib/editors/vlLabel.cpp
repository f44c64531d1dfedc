// The label's properties, its line options, the editor and the module's start-up.
#include "lib/editors/vlLabel.h"

#include "lib/editors/vlExtEditConsts.h"
#include "platform/classes/ClassRegistry.h"
#include "platform/classes/ModuleInit.h"
#include "platform/classes/TypInfoBuild.h"
#include "platform/classes/WeakRef.h"
#include "platform/rtl/Finally.h"
#include "platform/rtl/Strings.h"
#include "platform/vcl/ControlsPublish.h"
#include "platform/vcl/Forms.h"
#include "lib/lookandfeel/vlWindowUtils.h"
#include "platform/win/Windows.h"

using namespace win;

namespace {

constexpr Integer kDefaultWidth = 121, kDefaultHeight = 21;

void Startup() {
  vlGetEditPropertiesRegistry()->Register(ClassOf<TvlLabelProperties>(),
                                          vlGetResourceStringText(svlSEditRepositoryLabelItem));
  RegisterClasses({ClassOf<TvlLabel>(), ClassOf<TvlLabelProperties>(), ClassOf<TvlLabelEditStyle>()});
}

void Shutdown() {
  if (TvlRegisteredClasses* registry = vlGetEditPropertiesRegistry())
    registry->Unregister(ClassOf<TvlLabelProperties>());
}

}  // namespace

CL_UNIT_STEPS(vlLabel, &Startup, &Shutdown);

// --- Line options ---------------------------------------------------------------------------------------

CL_IMPLEMENT_CLASS_PUBLISHED(TvlLabelLineOptions, P) {
  P.Property(u"Alignment", &TvlLabelLineOptions::Alignment, &TvlLabelLineOptions::SetAlignment).Default(vlllaCenter);
  P.Property(u"InnerColor", &TvlLabelLineOptions::InnerColor, &TvlLabelLineOptions::SetInnerColor)
      .Type(TypeInfoTColor())
      .Default(clDefault);
  P.Property(u"OuterColor", &TvlLabelLineOptions::OuterColor, &TvlLabelLineOptions::SetOuterColor)
      .Type(TypeInfoTColor())
      .Default(clDefault);
  P.Property(u"Visible", &TvlLabelLineOptions::Visible, &TvlLabelLineOptions::SetVisible).Default(false);
}

void TvlLabelLineOptions::Create() {
  FAlignment = vlllaCenter;
  FInnerColor = clDefault;
  FOuterColor = clDefault;
}

void TvlLabelLineOptions::Assign(TPersistent* Source) {
  if (TvlLabelLineOptions* src = dynamic_cast<TvlLabelLineOptions*>(Source)) {
    FAlignment = src->FAlignment;
    FInnerColor = src->FInnerColor;
    FOuterColor = src->FOuterColor;
    FVisible = src->FVisible;
    DoChanged();
    return;
  }
  inherited::Assign(Source);
}

void TvlLabelLineOptions::SetAlignment(TvlLabelLineAlignment Value) {
  if (FAlignment == Value) return;
  FAlignment = Value;
  DoChanged();
}

void TvlLabelLineOptions::SetInnerColor(TColor Value) {
  if (FInnerColor == Value) return;
  FInnerColor = Value;
  DoChanged();
}

void TvlLabelLineOptions::SetOuterColor(TColor Value) {
  if (FOuterColor == Value) return;
  FOuterColor = Value;
  DoChanged();
}

void TvlLabelLineOptions::SetVisible(Boolean Value) {
  if (FVisible == Value) return;
  FVisible = Value;
  DoChanged();
}

// --- Properties ---------------------------------------------------------------------------------------------

CL_IMPLEMENT_CLASS(TvlCustomLabelProperties)

CL_IMPLEMENT_CLASS_PUBLISHED(TvlLabelProperties, P) {
  P.Property(u"Alignment", &TvlLabelProperties::Alignment, &TvlLabelProperties::SetAlignment)
      .Stored(&TvlLabelProperties::IsAlignmentStored);
  P.Property(u"Angle", &TvlLabelProperties::Angle, &TvlLabelProperties::SetAngle).Default(0);
  P.Property(u"Depth", &TvlLabelProperties::Depth, &TvlLabelProperties::SetDepth).Default(Word(0));
  P.Property(u"Glyph", &TvlLabelProperties::Glyph, &TvlLabelProperties::SetGlyph);
  P.Property(u"LabelEffect", &TvlLabelProperties::LabelEffect, &TvlLabelProperties::SetLabelEffect)
      .Default(vlleNormal);
  P.Property(u"LabelStyle", &TvlLabelProperties::LabelStyle, &TvlLabelProperties::SetLabelStyle)
      .Default(vllsNormal);
  P.Property(u"LineOptions", &TvlLabelProperties::LineOptions, &TvlLabelProperties::SetLineOptions);
  P.Property(u"Orientation", &TvlLabelProperties::Orientation, &TvlLabelProperties::SetOrientation)
      .Default(vloRightBottom);
  P.Property(u"PenWidth", &TvlLabelProperties::PenWidth, &TvlLabelProperties::SetPenWidth).Default(1);
  P.Property(u"ShadowedColor", &TvlLabelProperties::ShadowedColor, &TvlLabelProperties::SetShadowedColor)
      .Type(TypeInfoTColor())
      .Default(clGrayText);
  P.Property(u"ShowAccelChar", &TvlLabelProperties::ShowAccelChar, &TvlLabelProperties::SetShowAccelChar)
      .Default(true);
  P.Property(u"ShowEndEllipsis", &TvlLabelProperties::ShowEndEllipsis, &TvlLabelProperties::SetShowEndEllipsis)
      .Stored(false);
  P.Property(u"Transparent", &TvlLabelProperties::Transparent, &TvlLabelProperties::SetTransparent).Stored(false);
  P.Property(u"WordWrap", &TvlLabelProperties::WordWrap, &TvlLabelProperties::SetWordWrap).Default(false);
}

void TvlCustomLabelProperties::Create(TPersistent* AOwner) {
  inherited::Create(AOwner);
  FLineOptions = New<TvlLabelLineOptions>();
  FLineOptions->SetOnChanged(TNotifyEvent(this, &TvlCustomLabelProperties::SubObjectChanged));
  FLabelEffect = vlleNormal;
  FLabelStyle = vllsNormal;
  FOrientation = vloRightBottom;
  FPenWidth = 1;
  FShadowedColor = clGrayText;
  FShowAccelChar = true;
}

void TvlCustomLabelProperties::Destroy() {
  FreeAndNil(FGlyph);
  FreeAndNil(FLineOptions);
  inherited::Destroy();
}

void TvlCustomLabelProperties::Assign(TPersistent* Source) {
  if (TvlCustomLabelProperties* src = dynamic_cast<TvlCustomLabelProperties*>(Source)) {
    BeginUpdate();
    Finally done([&] { EndUpdate(); });
    inherited::Assign(Source);
    SetAngle(src->Angle());
    SetDepth(src->Depth());
    SetGlyph(src->GlyphOrNil());
    SetLabelEffect(src->LabelEffect());
    SetLabelStyle(src->LabelStyle());
    FLineOptions->Assign(src->LineOptions());
    SetOrientation(src->Orientation());
    SetPenWidth(src->PenWidth());
    SetShadowedColor(src->ShadowedColor());
    SetShowAccelChar(src->ShowAccelChar());
    SetShowEndEllipsis(src->ShowEndEllipsis());
    SetWordWrap(src->WordWrap());
    return;
  }
  inherited::Assign(Source);
}

TvlCustomEditViewDataClass TvlCustomLabelProperties::EditViewDataClass() const {
  return ClassOf<TvlCustomLabelViewData>();
}
TvlCustomEditClass TvlCustomLabelProperties::GetContainerClass() const { return ClassOf<TvlLabel>(); }
TvlCustomEditStyleClass TvlCustomLabelProperties::GetStyleClass() const { return ClassOf<TvlLabelEditStyle>(); }
TvlCustomEditViewInfoClass TvlCustomLabelProperties::GetViewInfoClass() const {
  return ClassOf<TvlCustomLabelViewInfo>();
}

String TvlCustomLabelProperties::GetDisplayText(const Variant& AEditValue, Boolean, Boolean) {
  return VarToStr(AEditValue);
}

void TvlCustomLabelProperties::PrepareDisplayValue(const Variant& AEditValue, Variant& DisplayValue, Boolean) {
  DisplayValue = Variant(VarToStr(AEditValue));
}

TvlEditSupportedOperations TvlCustomLabelProperties::GetSupportedOperations() {
  return TvlEditSupportedOperations{esoAutoHeight, esoFiltering, esoShowingCaption, esoSorting, esoTransparency};
}

TSize TvlCustomLabelProperties::GetDepthDeltaSize() {
  if (FLabelEffect == vlleNormal) return TSize{};
  switch (FOrientation) {
    case vloLeft: case vloRight: return TSize{FDepth, 0};
    case vloTop: case vloBottom: return TSize{0, FDepth};
    default: return TSize{FDepth, FDepth};
  }
}

TBitmap* TvlCustomLabelProperties::Glyph() {
  if (!FGlyph) {
    FGlyph = New<TBitmap>();
    FGlyph->SetOnChange(TNotifyEvent(this, &TvlCustomLabelProperties::SubObjectChanged));
  }
  return FGlyph;
}

void TvlCustomLabelProperties::SetGlyph(TBitmap* Value) {
  if (!Value) {
    if (!FGlyph) return;
    FreeAndNil(FGlyph);
    Changed();
    return;
  }
  Glyph()->Assign(Value);
}

#define VL_LABEL_SETTER(Name, Type, Field) \
  void TvlCustomLabelProperties::Set##Name(Type Value) { \
    if (Field == Value) return;                          \
    Field = Value;                                       \
    Changed();                                           \
  }
VL_LABEL_SETTER(Angle, Integer, FAngle)
VL_LABEL_SETTER(Depth, Word, FDepth)
VL_LABEL_SETTER(LabelEffect, TvlLabelEffect, FLabelEffect)
VL_LABEL_SETTER(LabelStyle, TvlLabelStyle, FLabelStyle)
VL_LABEL_SETTER(Orientation, TvlLabelOrientation, FOrientation)
VL_LABEL_SETTER(PenWidth, Integer, FPenWidth)
VL_LABEL_SETTER(ShadowedColor, TColor, FShadowedColor)
VL_LABEL_SETTER(ShowAccelChar, Boolean, FShowAccelChar)
VL_LABEL_SETTER(WordWrap, Boolean, FWordWrap)
#undef VL_LABEL_SETTER

// --- Style ----------------------------------------------------------------------------------------------

CL_IMPLEMENT_CLASS(TvlLabelEditStyle)

TvlContainerBorderStyle TvlLabelEditStyle::GetDefaultBorderStyle() {
  return BaseStyle() == this ? cbsNone : inherited::GetDefaultBorderStyle();
}

// --- The editor -------------------------------------------------------------------------------------------

CL_IMPLEMENT_CLASS(TvlCustomLabel)

CL_IMPLEMENT_CLASS_PUBLISHED(TvlLabel, P) {
  PublishControlProperties(P, {u"Align", u"Anchors"});
  P.Property(u"AutoSize", &TvlLabel::AutoSize, &TvlLabel::SetAutoSize).Default(true);
  PublishControlProperties(P, {u"Caption", u"Constraints", u"DragCursor", u"DragKind", u"DragMode", u"Enabled"});
  P.Property(u"FocusControl", &TvlLabel::GetFocusControl, &TvlLabel::SetFocusControl);
  PublishControlProperties(P, {u"ParentColor", u"ParentFont", u"ParentShowHint", u"PopupMenu"});
  P.Property(u"Properties", &TvlLabel::Properties, &TvlLabel::SetProperties);
  PublishControlProperties(P, {u"ShowHint"});
  P.Property(u"Style", &TvlLabel::Style, &TvlLabel::SetStyle);
  P.Property(u"StyleDisabled", &TvlLabel::StyleDisabled, &TvlLabel::SetStyleDisabled);
  P.Property(u"StyleFocused", &TvlLabel::StyleFocused, &TvlLabel::SetStyleFocused);
  P.Property(u"StyleHot", &TvlLabel::StyleHot, &TvlLabel::SetStyleHot);
  // Read from older form files, never written.
  P.Property(u"TabOrder", &TvlLabel::TabOrder, &TvlLabel::SetTabOrder).Stored(false);
  P.Property(u"Transparent", &TvlLabel::Transparent, &TvlLabel::SetTransparent).Default(false);
  PublishControlProperties(P, {u"Visible", u"OnClick", u"OnContextPopup", u"OnDblClick", u"OnDragDrop",
                               u"OnDragOver", u"OnEndDock", u"OnEndDrag", u"OnEnter", u"OnExit", u"OnKeyDown",
                               u"OnKeyPress", u"OnKeyUp", u"OnMouseDown", u"OnMouseEnter", u"OnMouseLeave",
                               u"OnMouseMove", u"OnMouseUp", u"OnStartDock", u"OnStartDrag"});
}

void TvlCustomLabel::Initialize() {
  inherited::Initialize();
  TControlStyle style = ControlStyle();
  style.Exclude(csCaptureMouse);
  SetControlStyle(style);
  SetBounds(Left(), Top(), kDefaultWidth, kDefaultHeight);
}

void TvlCustomLabel::Destroy() {
  SetFocusControl(nullptr);
  inherited::Destroy();
}

void TvlCustomLabel::Loaded() {
  if (!HandleAllocated() && vlCanAllocateHandle(this)) HandleNeeded();
  inherited::Loaded();
}

void TvlCustomLabel::SetFocusControl(TWinControl* Value) {
  if (Value == this || FFocusControl == Value) return;
  if (FFocusControl) FFocusControl->RemoveFreeNotification(this);
  FFocusControl = Value;
  if (FFocusControl) FFocusControl->FreeNotification(this);
}

void TvlCustomLabel::Notification(TComponent* AComponent, TOperation Operation) {
  inherited::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FFocusControl) FFocusControl = nullptr;
}

void TvlCustomLabel::InternalSetEditValue(const Variant& AValue, Boolean AValidate) {
  TWeakRef<TvlCustomLabel> self(this);
  inherited::InternalSetEditValue(AValue, AValidate);
  if (!self) return;
  if (!FLockCaption) SetText(VarToStr(FEditValue));
  ShowCaption();
}

void TvlCustomLabel::SynchronizeDisplayValue() { ViewInfo()->Text = Caption(); }

void TvlCustomLabel::ShowCaption() {
  ViewInfo()->Text = Caption();
  ViewInfo()->FIsDrawBitmapDirty = true;
  ShortRefreshContainer(false);
  UpdateInnerControlBounds();
  Invalidate();
}

void TvlCustomLabel::CMTextChanged(TMessage& Message) {
  inherited::Dispatch(Message);
  FLockCaption = true;
  Finally unlock([&] { FLockCaption = false; });
  TWeakRef<TvlCustomLabel> self(this);
  SetInternalEditValue(Variant(Caption()));
  if (self) ShowCaption();
}

void TvlCustomLabel::CMDialogChar(TMessage& Message) {
  TWMKey key(Message);
  if (FFocusControl && Enabled() && ActiveProperties()->ShowAccelChar() && IsAccel(key.CharCode(), Caption()) &&
      FFocusControl->CanFocus()) {
    FFocusControl->SetFocus();
    Message.Result = 1;
    return;
  }
  Message.Result = 0;
}

void TvlCustomLabel::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CM_DIALOGCHAR: CMDialogChar(Message); break;
    case CM_TEXTCHANGED: CMTextChanged(Message); break;
    default: inherited::Dispatch(Message);
  }
}

void TvlCustomLabel::PropertiesChanged(TObject* Sender) {
  if (ActiveProperties()->LineOptions()->Visible() && AutoSize()) inherited::WriteAutoSize(false);
  ViewInfo()->FIsDrawBitmapDirty = true;
  inherited::PropertiesChanged(Sender);
}

void TvlCustomLabel::WriteAutoSize(Boolean Value) {
  if (Value && !AutoSize()) ActiveProperties()->LineOptions()->SetVisible(false);
  inherited::WriteAutoSize(Value);
}

Boolean TvlCustomLabel::AutoSizeWithinWidth() { return ActiveProperties()->WordWrap(); }

Boolean TvlCustomLabel::UsesAnchorX() { return ActiveProperties()->Alignment()->Horz() != taLeftJustify; }
Boolean TvlCustomLabel::UsesAnchorY() { return ActiveProperties()->Alignment()->Vert() != taTopJustify; }

Boolean TvlCustomLabel::HasTextBaseLine() { return ActiveProperties()->Angle() % 360 == 0; }
