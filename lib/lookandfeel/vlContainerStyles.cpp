// Container styles, the four-style set and the style controller.
#include <algorithm>

#include "lib/lookandfeel/vlContainer.h"
#include "lib/lookandfeel/vlWindowUtils.h"
#include "platform/classes/TypInfoBuild.h"
#include "platform/rtl/Finally.h"
#include "platform/rtl/Numbers.h"
#include "platform/vcl/Graphics.h"

namespace {

TvlStyleController* FallbackStyleController{};

const Char* const StyleValueNames[] = {u"BorderColor", u"BorderStyle", u"Color",  u"Edges",     u"Font",
                                        u"HotTrack",    u"Shadow",      u"TextColor", u"TextStyle", u"TransparentBorder"};

// The border style a state shows by default, by the base style's border.
TvlContainerBorderStyle StateBorderStyle(TvlContainerBorderStyle ABase, Boolean AHighlighted) {
  if (!AHighlighted) return ABase;
  switch (ABase) {
    case cbsNone: return cbsFlat;
    case cbsSingle: return cbsThick;
    case cbsFlat: return cbs3D;
    default: return ABase;
  }
}

}  // namespace

TvlStyleController* vlGetFallbackStyleController() { return FallbackStyleController; }
void vlSetFallbackStyleController(TvlStyleController* AController) { FallbackStyleController = AController; }

Integer vlGetBorderStyleWidth(TvlContainerBorderStyle AStyle) {
  static const Integer widths[] = {0, 1, 2, 2, 2, 1, 1};
  return widths[AStyle];
}

Integer vlGetPaintedBorderWidth(TvlContainerBorderStyle AStyle, TvlCustomLookAndFeelPainterClass APainter) {
  if (!APainter) return vlGetBorderStyleWidth(AStyle);
  return AStyle == cbsNone ? 0 : AStyle == cbsThick ? 2 : 1;
}

Integer vlGetLookAndFeelBorderWidth(TvlLookAndFeelKind AKind) {
  return AKind == lfFlat || AKind == lfStandard ? 2 : 1;
}

// --- TvlContainerStyle --------------------------------------------------------------------

CL_IMPLEMENT_CLASS_PUBLISHED(TvlContainerStyle, P) {
  P.Property(u"BorderColor", &TvlContainerStyle::BorderColor, &TvlContainerStyle::SetBorderColor)
      .Type(TypeInfo<TColor>())
      .Stored([](TvlContainerStyle* S) { return S->OwnAssigned(svBorderColor); });
  P.Property(u"BorderStyle", &TvlContainerStyle::BorderStyle, &TvlContainerStyle::SetBorderStyle)
      .Stored([](TvlContainerStyle* S) { return S->OwnAssigned(svBorderStyle); });
  P.Property(u"Color", &TvlContainerStyle::Color, &TvlContainerStyle::SetColor)
      .Stored([](TvlContainerStyle* S) { return S->OwnAssigned(svColor); });
  P.Property(u"Edges", &TvlContainerStyle::Edges, &TvlContainerStyle::SetEdges)
      .Stored([](TvlContainerStyle* S) { return S->OwnAssigned(svEdges); });
  P.Property(u"Font", &TvlContainerStyle::Font, &TvlContainerStyle::SetFont)
      .Stored([](TvlContainerStyle* S) { return S->OwnAssigned(svFont); });
  P.Property(u"HotTrack", &TvlContainerStyle::HotTrack, &TvlContainerStyle::SetHotTrack)
      .Stored([](TvlContainerStyle* S) { return S->OwnAssigned(svHotTrack); });
  P.Property(u"LookAndFeel", &TvlContainerStyle::LookAndFeel, &TvlContainerStyle::SetLookAndFeel);
  P.Property(u"Shadow", &TvlContainerStyle::Shadow, &TvlContainerStyle::SetShadow)
      .Stored([](TvlContainerStyle* S) { return S->OwnAssigned(svShadow); });
  P.Property(u"StyleController", &TvlContainerStyle::StyleController, &TvlContainerStyle::SetStyleController)
      .Stored([](TvlContainerStyle* S) { return S->State() == csNormal; });
  P.Property(u"TextColor", &TvlContainerStyle::TextColor, &TvlContainerStyle::SetTextColor)
      .Stored([](TvlContainerStyle* S) { return S->OwnAssigned(svTextColor); });
  P.Property(u"TextStyle", &TvlContainerStyle::TextStyle, &TvlContainerStyle::SetTextStyle)
      .Stored([](TvlContainerStyle* S) { return S->OwnAssigned(svTextStyle); });
  P.Property(u"TransparentBorder", &TvlContainerStyle::TransparentBorder,
             &TvlContainerStyle::SetTransparentBorder)
      .Stored([](TvlContainerStyle* S) { return S->OwnAssigned(svTransparentBorder); });
}

void TvlContainerStyle::Create(TPersistent* AOwner, Boolean ADirectAccessMode, TvlContainerStyle* AParentStyle,
                               TvlContainerStateItem AState) {
  inherited::Create(AOwner);
  FOwner = AOwner;
  FState = AState;
  FDirectAccessMode = ADirectAccessMode;
  if (AState != csNormal) FParentStyle = AParentStyle;
  if (ADirectAccessMode)
    FAssignedValues = TvlContainerStyleValues{Byte(svColor), Byte(svFont), Byte(svTextColor), Byte(svTextStyle)};
  if (!FParentStyle && !ADirectAccessMode) {
    FFont = New<TFont>();
    FFont->SetOnChange(TNotifyEvent(this, &TvlContainerStyle::HandleFontChange));
  }
  FVisibleFont = New<TFont>();
  if (!FParentStyle) {
    FLookAndFeel = New<TvlLookAndFeel>(static_cast<TPersistent*>(this));
    FLookAndFeel->SetOnChanged(TvlLookAndFeelChangedEvent(this, &TvlContainerStyle::LookAndFeelChanged));
    SetStyleController(nullptr);  // the default controller
  }
}

void TvlContainerStyle::Destroy() {
  FIsDestroying = true;
  if (!FParentStyle && FStyleController) FStyleController->RemoveListener(this);
  FStyleController = nullptr;
  FreeAndNil(FLookAndFeel);
  FreeAndNil(FVisibleFont);
  FreeAndNil(FFont);
  inherited::Destroy();
}

void TvlContainerStyle::LookAndFeelChanged(TvlLookAndFeel*, TvlLookAndFeelValues) { NotifyChanged(); }

TvlContainer* TvlContainerStyle::Container() { return dynamic_cast<TvlContainer*>(FOwner); }

TvlStyleController* TvlContainerStyle::ActiveStyleController() { return BaseStyle()->FStyleController; }

TvlStyleController* TvlContainerStyle::GetDefaultStyleController() { return vlGetFallbackStyleController(); }

TvlContainerStyle* TvlContainerStyle::AssignedSource(TvlContainerStyleValue AValue) {
  TvlContainerStyle* s = this;
  // Controllers never link in a circle (the link refuses one); the bound is a guard.
  for (Integer depth = 0; s && depth < 64; ++depth) {
    if (s->OwnAssigned(AValue)) return s;
    TvlStyleController* c = s->ActiveStyleController();
    if (!c || s->FOwner == c) return nullptr;
    s = c->GetStateStyle(s->FState);
  }
  return nullptr;
}

Boolean TvlContainerStyle::IsValueAssigned(TvlContainerStyleValue AValue) {
  if (AValue < 0 || AValue > 9) return false;
  return AssignedSource(AValue) != nullptr;
}

TvlContainerStyleValues TvlContainerStyle::AssignedValues() {
  if (FDirectAccessMode) {
    TvlContainerStyleValues all;
    for (Integer v = 0; v < GetStyleValueCount(); ++v) all.Include(Byte(v));
    return all;
  }
  return FAssignedValues;
}

void TvlContainerStyle::SetAssignedValues(TvlContainerStyleValues Value) {
  if (FAssignedValues == Value) return;
  FAssignedValues = Value;
  BaseStyle()->UpdateFont();
  NotifyChanged();
}

void TvlContainerStyle::NotifyChanged() {
  FModified = true;
  if (FUpdateCount > 0 || FIsDestroying || FDirectAccessMode) return;
  FModified = false;
  if (Assigned(FOnChanged)) FOnChanged(this);
}

void TvlContainerStyle::EndUpdate() {
  if (FUpdateCount > 0) --FUpdateCount;
  if (FUpdateCount == 0 && FModified) NotifyChanged();
}

// --- Values ---------------------------------------------------------------------------------

TColor TvlContainerStyle::BorderColor() {
  if (FDirectAccessMode) return clDefault;
  if (TvlContainerStyle* s = AssignedSource(svBorderColor)) return s->FBorderColor;
  return GetDefaultBorderColor();
}

TColor TvlContainerStyle::GetDefaultBorderColor() {
  if (!FParentStyle) return clWindowFrame;
  return FState == csDisabled ? TColor(clBtnShadow) : FParentStyle->BorderColor();
}

void TvlContainerStyle::SetBorderColor(TColor Value) {
  if (OwnAssigned(svBorderColor) && FBorderColor == Value) return;
  FBorderColor = Value;
  MarkAssigned(svBorderColor);
  NotifyChanged();
}

TvlContainerBorderStyle TvlContainerStyle::BorderStyle() {
  if (FDirectAccessMode) return OwnAssigned(svBorderStyle) ? FBorderStyle : GetDefaultBorderStyle();
  if (TvlContainerStyle* s = AssignedSource(svBorderStyle)) return s->FBorderStyle;
  return GetDefaultBorderStyle();
}

TvlContainerBorderStyle TvlContainerStyle::GetDefaultBorderStyle() {
  if (FParentStyle) {
    const TvlContainerStateItem state = (HotTrack() || FState == csDisabled) ? FState : csNormal;
    return StateBorderStyle(FParentStyle->BorderStyle(), state == csActive || state == csHotTrack);
  }
  switch (LookAndFeel()->Kind()) {
    case lfFlat: return cbsFlat;
    case lfStandard: return cbs3D;
    case lfOffice11: return cbsOffice11;
    default: return cbsUltraFlat;
  }
}

void TvlContainerStyle::SetBorderStyle(TvlContainerBorderStyle Value) {
  if (OwnAssigned(svBorderStyle) && FBorderStyle == Value) return;
  FBorderStyle = Value;
  MarkAssigned(svBorderStyle);
  NotifyChanged();
}

TColor TvlContainerStyle::ParentColorOfContainer(Boolean& AFound) {
  TvlContainer* c = BaseStyle()->Container();
  AFound = !FParentStyle && c && c->ParentColor() && c->Parent();
  return AFound ? c->Parent()->Color() : TColor(clDefault);
}

TColor TvlContainerStyle::ReadColorValue() {
  if (FDirectAccessMode) return StyleData.Color;
  Boolean found = false;
  const TColor parent = ParentColorOfContainer(found);
  if (found) return parent;
  if (TvlContainerStyle* s = AssignedSource(svColor)) return s->FColor;
  return GetDefaultColor();
}

TColor TvlContainerStyle::GetControlColor() {
  if (FDirectAccessMode) return StyleData.Color;
  if (TvlContainerStyle* s = AssignedSource(svColor)) return s->FColor;
  TvlContainer* c = BaseStyle()->Container();
  if (!FParentStyle && c && !c->IsInplace() && c->ParentColor() && c->Parent()) return c->Parent()->Color();
  return GetDefaultColor();
}

TColor TvlContainerStyle::GetDefaultColor() {
  TvlContainer* c = BaseStyle()->Container();
  if (!FParentStyle) return (!c || c->DefaultParentColor()) ? TColor(clBtnFace) : TColor(clWindow);
  if (FState == csDisabled && c && !c->DefaultParentColor()) return clBtnFace;
  return FParentStyle->Color();
}

void TvlContainerStyle::SetColor(TColor Value) {
  if (OwnAssigned(svColor) && FColor == Value) return;
  FColor = Value;
  MarkAssigned(svColor);
  NotifyChanged();
}

TvlBorders TvlContainerStyle::Edges() {
  if (FDirectAccessMode) return TvlBorders{};
  if (FParentStyle) return FParentStyle->Edges();
  if (TvlContainerStyle* s = AssignedSource(svEdges)) return s->FEdges;
  return GetDefaultEdges();
}

void TvlContainerStyle::SetEdges(TvlBorders Value) {
  TvlContainerStyle* b = BaseStyle();
  if (b->OwnAssigned(svEdges) && b->FEdges == Value) return;
  b->FEdges = Value;
  b->MarkAssigned(svEdges);
  b->NotifyChanged();
}

Boolean TvlContainerStyle::HotTrack() {
  if (FDirectAccessMode) return OwnAssigned(svHotTrack) ? FHotTrack : GetDefaultHotTrack();
  if (FParentStyle) return FParentStyle->HotTrack();
  if (TvlContainerStyle* s = AssignedSource(svHotTrack)) return s->FHotTrack;
  return GetDefaultHotTrack();
}

void TvlContainerStyle::SetHotTrack(Boolean Value) {
  TvlContainerStyle* b = BaseStyle();
  if (b->OwnAssigned(svHotTrack) && b->FHotTrack == Value) return;
  b->FHotTrack = Value;
  b->MarkAssigned(svHotTrack);
  b->NotifyChanged();
}

Boolean TvlContainerStyle::Shadow() {
  if (FDirectAccessMode) return false;
  if (FParentStyle) return FParentStyle->Shadow();
  if (TvlContainerStyle* s = AssignedSource(svShadow)) return s->FShadow;
  return GetDefaultShadow();
}

void TvlContainerStyle::SetShadow(Boolean Value) {
  TvlContainerStyle* b = BaseStyle();
  if (b->OwnAssigned(svShadow) && b->FShadow == Value) return;
  b->FShadow = Value;
  b->MarkAssigned(svShadow);
  b->NotifyChanged();
}

Boolean TvlContainerStyle::TransparentBorder() {
  if (FDirectAccessMode) return true;
  if (FParentStyle) return FParentStyle->TransparentBorder();
  if (TvlContainerStyle* s = AssignedSource(svTransparentBorder)) return s->FTransparentBorder;
  return GetDefaultTransparentBorder();
}

void TvlContainerStyle::SetTransparentBorder(Boolean Value) {
  TvlContainerStyle* b = BaseStyle();
  if (b->OwnAssigned(svTransparentBorder) && b->FTransparentBorder == Value) return;
  b->FTransparentBorder = Value;
  b->MarkAssigned(svTransparentBorder);
  b->NotifyChanged();
}

TFont* TvlContainerStyle::Font() {
  if (FDirectAccessMode) return StyleData.Font;
  return BaseStyle()->FFont;
}

void TvlContainerStyle::SetFont(TFont* Value) {
  if (FDirectAccessMode) {
    StyleData.Font = Value;
    return;
  }
  TvlContainerStyle* b = BaseStyle();
  if (b->FFont && Value) b->FFont->Assign(Value);  // its OnChange marks Font assigned
}

void TvlContainerStyle::HandleFontChange(TObject*) {
  if (FFontAssignedValueLockCount == 0) MarkAssigned(svFont);
  NotifyChanged();
}

TColor TvlContainerStyle::GetTextColor() {
  if (FDirectAccessMode) return StyleData.FontColor;
  if (TvlContainerStyle* s = AssignedSource(svTextColor)) return s->FTextColor;
  return GetDefaultTextColor();
}

TColor TvlContainerStyle::GetDefaultTextColor() {
  if (FParentStyle) return FState == csDisabled ? TColor(clBtnShadow) : FParentStyle->TextColor();
  return Font() ? Font()->Color() : TColor(clWindowText);
}

void TvlContainerStyle::SetTextColor(TColor Value) {
  if (GetTextColor() == Value) return;
  FTextColor = Value;
  MarkAssigned(svTextColor);
  NotifyChanged();
}

TFontStyles TvlContainerStyle::ReadTextStyle() {
  if (FDirectAccessMode) return StyleData.Font ? StyleData.Font->Style() : TFontStyles{};
  if (TvlContainerStyle* s = AssignedSource(svTextStyle)) return s->FTextStyle;
  return GetDefaultTextStyle();
}

TFontStyles TvlContainerStyle::GetDefaultTextStyle() {
  if (FParentStyle) return FParentStyle->TextStyle();
  return Font() ? Font()->Style() : TFontStyles{};
}

void TvlContainerStyle::SetTextStyle(TFontStyles Value) {
  if (ReadTextStyle() == Value) return;
  FTextStyle = Value;
  MarkAssigned(svTextStyle);
  NotifyChanged();
}

TvlLookAndFeel* TvlContainerStyle::LookAndFeel() { return BaseStyle()->FLookAndFeel; }

TvlContainerStyleValues TvlContainerStyle::GetExtendedStyleHiddenValues() {
  return TvlContainerStyleValues{Byte(svEdges), Byte(svFont), Byte(svHotTrack), Byte(svShadow),
                                 Byte(svTransparentBorder)};
}

Boolean TvlContainerStyle::HasBorder() { return BorderStyle() != cbsNone; }

TFont* TvlContainerStyle::GetVisibleFont() {
  if (Font()) FVisibleFont->Assign(Font());
  FVisibleFont->SetColor(TextColor());
  FVisibleFont->SetStyle(TextStyle());
  return FVisibleFont;
}

// --- Names ----------------------------------------------------------------------------------

Boolean TvlContainerStyle::GetStyleValueName(TvlContainerStyleValue AStyleValue, String& AName) {
  if (AStyleValue < 0 || AStyleValue > 9) return false;
  AName = StyleValueNames[AStyleValue];
  return true;
}

Boolean TvlContainerStyle::GetStyleValue(const String& APropertyName, TvlContainerStyleValue& AStyleValue) {
  for (Integer v = 0; v < GetStyleValueCount(); ++v) {
    String name;
    if (GetStyleValueName(v, name) && vlStringsEqual(name, APropertyName, false)) {
      AStyleValue = v;
      return true;
    }
  }
  return false;
}

Boolean TvlContainerStyle::IsExtendedStylePropertyPublished(const String& APropertyName) {
  if (vlStringsEqual(APropertyName, u"LookAndFeel", false) || vlStringsEqual(APropertyName, u"StyleController", false))
    return false;
  TvlContainerStyleValue value;
  if (!GetStyleValue(APropertyName, value)) return true;
  return !GetExtendedStyleHiddenValues().Contains(Byte(value));
}

// --- Controller link ------------------------------------------------------------------------

TvlStyleController* TvlContainerStyle::StyleController() {
  TvlStyleController* c = BaseStyle()->FStyleController;
  return c == GetDefaultStyleController() ? nullptr : c;
}

void TvlContainerStyle::SetStyleController(TvlStyleController* Value) {
  if (FParentStyle) {
    FParentStyle->SetStyleController(Value);
    return;
  }
  TvlStyleController* fallback = GetDefaultStyleController();
  if (fallback && FOwner == fallback) return;  // the default controller's styles link to none
  if (!Value) Value = fallback;
  // Refuse a link that would close a circle through the controllers' own styles.
  for (TvlStyleController* c = Value; c && c != fallback;) {
    TvlContainerStyle* normal = c->GetNormalStyle();
    if (normal == this) return;
    c = normal->FStyleController;
  }
  if (Value == FStyleController) return;
  if (FStyleController) FStyleController->RemoveListener(this);
  FStyleController = Value;
  if (FStyleController) FStyleController->AddListener(this);
  StyleControllerChanged(FStyleController);
}

void TvlContainerStyle::StyleControllerChanged(TvlStyleController*) {
  UpdateFont();
  NotifyChanged();
}

void TvlContainerStyle::StyleControllerRemoved(TvlStyleController* AController) {
  if (AController == FStyleController) {
    FStyleController = nullptr;  // already leaving the controller's list
    SetStyleController(nullptr);
  }
}

void TvlContainerStyle::UpdateFont() {
  if (FParentStyle || FDirectAccessMode || !FFont || OwnAssigned(svFont)) return;
  ++FFontAssignedValueLockCount;
  Finally unlock([&] { --FFontAssignedValueLockCount; });
  TvlStyleController* c = FStyleController;
  TvlContainerStyle* source = c && FOwner != c ? c->GetNormalStyle()->AssignedSource(svFont) : nullptr;
  if (source) {
    FFont->Assign(source->Font());
  } else {
    TvlContainer* container = Container();
    if (!container || !container->ParentFont()) {
      TFont* def = New<TFont>();
      FFont->Assign(def);
      Free(def);
    }
  }
}

void TvlContainerStyle::Assign(TPersistent* Source) {
  TvlContainerStyle* src = dynamic_cast<TvlContainerStyle*>(Source);
  if (!src) {
    inherited::Assign(Source);
    return;
  }
  BeginUpdate();
  Finally done([&] { EndUpdate(); });
  if (!FParentStyle) {
    SetStyleController(src->StyleController());
    LookAndFeel()->Assign(src->LookAndFeel());
  }
  FBorderColor = src->FBorderColor;
  FBorderStyle = src->FBorderStyle;
  FEdges = src->FEdges;
  FHotTrack = src->FHotTrack;
  FShadow = src->FShadow;
  FTransparentBorder = src->FTransparentBorder;
  FColor = src->FColor;
  if (FDirectAccessMode) {
    StyleData.Font = src->Font();
    StyleData.FontColor = src->TextColor();
  } else {
    if (FFont && src->Font()) {
      ++FFontAssignedValueLockCount;
      FFont->Assign(src->Font());
      if (src->FDirectAccessMode) FFont->SetColor(src->TextColor());
      --FFontAssignedValueLockCount;
    }
    FTextColor = src->TextColor();
    FTextStyle = src->TextStyle();
  }
  FAssignedValues = src->FAssignedValues;
  FModified = true;
}

void TvlContainerStyle::RestoreDefaults() {
  BeginUpdate();
  Finally done([&] { EndUpdate(); });
  FAssignedValues = TvlContainerStyleValues{};
  if (!FParentStyle) LookAndFeel()->Reset();
  TvlContainer* c = BaseStyle()->Container();
  if (c) {
    c->SetParentColor(false);
    c->SetParentFont(true);
  } else if (!FDirectAccessMode && FFont) {
    ++FFontAssignedValueLockCount;
    TFont* def = New<TFont>();
    FFont->Assign(def);
    Free(def);
    --FFontAssignedValueLockCount;
  }
  if (c && c->DefaultParentColor()) {
    TvlStyleController* ctrl = ActiveStyleController();
    if (!(ctrl && ctrl->GetNormalStyle()->IsValueAssigned(svColor))) c->SetParentColor(true);
  }
  FModified = true;
}

// --- TvlContainerStyles ----------------------------------------------------------------------

CL_IMPLEMENT_CLASS(TvlContainerStyles)

void TvlContainerStyles::Create(TPersistent* AOwner, TvlContainerStyleClass AStyleClass) {
  inherited::Create();
  for (TvlContainerStateItem s : {csNormal, csActive, csDisabled, csHotTrack})
    FStyles[s] = CreateFrom(AStyleClass, AOwner, Boolean(false), FStyles[csNormal], s);
}

void TvlContainerStyles::Destroy() {
  for (Integer s = csHotTrack; s >= csNormal; --s) FreeAndNil(FStyles[s]);
  inherited::Destroy();
}

void TvlContainerStyles::RestoreDefaults() {
  for (TvlContainerStyle* s : FStyles) s->RestoreDefaults();
}

void TvlContainerStyles::SetOnChanged(const TNotifyEvent& Value) {
  for (TvlContainerStyle* s : FStyles) s->SetOnChanged(Value);
}

// --- TvlStyleController -------------------------------------------------------------------------

CL_IMPLEMENT_CLASS_PUBLISHED(TvlStyleController, P) {
  P.Property(u"FakeStyleController", &TvlStyleController::FakeStyleController,
             &TvlStyleController::SetFakeStyleController);
  P.Property(u"OnStyleChanged", &TvlStyleController::OnStyleChanged, &TvlStyleController::SetOnStyleChanged);
}

void TvlStyleController::Create(TComponent* AOwner) {
  inherited::Create(AOwner);
  FStyles = CreateFrom(GetStylesClass(), static_cast<TPersistent*>(this), GetStyleClass());
  FStyles->SetOnChanged(TNotifyEvent(this, &TvlStyleController::NotifyStyleChanged));
}

void TvlStyleController::Destroy() {
  FIsDestruction = true;
  while (!FListeners.empty()) {
    TvlContainerStyle* s = FListeners.back();
    FListeners.pop_back();
    if (s->FLookAndFeel) s->FLookAndFeel->SetMasterLookAndFeel(nullptr);
    s->StyleControllerRemoved(this);
  }
  FreeAndNil(FStyles);
  inherited::Destroy();
}

void TvlStyleController::Loaded() {
  inherited::Loaded();
  NotifyStyleChanged();
}

void TvlStyleController::AddListener(TvlContainerStyle* AStyle) {
  if (std::find(FListeners.begin(), FListeners.end(), AStyle) != FListeners.end()) return;
  FListeners.push_back(AStyle);
  if (AStyle->FLookAndFeel) AStyle->FLookAndFeel->SetMasterLookAndFeel(GetNormalStyle()->LookAndFeel());
}

void TvlStyleController::RemoveListener(TvlContainerStyle* AStyle) {
  auto it = std::find(FListeners.begin(), FListeners.end(), AStyle);
  if (it == FListeners.end()) return;
  FListeners.erase(it);
  if (AStyle->FLookAndFeel) AStyle->FLookAndFeel->SetMasterLookAndFeel(nullptr);
}

void TvlStyleController::NotifyStyleChanged(TObject*) {
  if (Assigned(FOnStyleChanged)) FOnStyleChanged(this);
  if (FIsDestruction) return;
  std::vector<TvlContainerStyle*> listeners = FListeners;
  for (TvlContainerStyle* s : listeners) s->StyleControllerChanged(this);
}

void TvlStyleController::ScaleFont(Integer M, Integer D) {
  TvlContainerStyle* normal = GetNormalStyle();
  if (normal->IsValueAssigned(svFont) && normal->OwnAssigned(svFont)) {
    if (!FIsFontScaled) {
      normal->Font()->SetSize(MulDiv(normal->Font()->Size(), M, D));
      FIsFontScaled = true;
    }
  } else if (TvlStyleController* c = normal->FStyleController; c && c != this) {
    c->ScaleFont(M, D);
  }
}
