// The button: colours by state, speed-button options, the action link and
// the owner-drawn push button with its drop-down kinds. The glyph object and
// the glyph lists are in vlButtonGlyph.cpp.
#include "lib/editors/vlButtons.h"

#include <algorithm>

#include "lib/foundation/vlGraphicsUtils.h"
#include "lib/lookandfeel/nbThemeManager.h"
#include "lib/lookandfeel/vlWinXPLookAndFeelPainter.h"
#include "lib/lookandfeel/vlWindowUtils.h"
#include "platform/classes/ClassRegistry.h"
#include "platform/classes/ModuleInit.h"
#include "platform/classes/TypInfoBuild.h"
#include "platform/classes/WeakRef.h"
#include "platform/rtl/Finally.h"
#include "platform/rtl/Numbers.h"
#include "platform/rtl/Strings.h"
#include "platform/vcl/ActnList.h"
#include "platform/vcl/ControlsPublish.h"
#include "platform/vcl/Forms.h"
#include "platform/win/UxTheme.h"
#include "platform/win/WinControls.h"
#include "platform/win/Windows.h"

using namespace win;

namespace {

// The colour member of a state, or of its text.
TvlButtonAssignedColor ColorOfState(TvlButtonState AState, Boolean AIsText) {
  TvlButtonAssignedColor c{};
  switch (AState) {
    case vlbsDefault: c = vlbcDefault; break;
    case vlbsNormal: c = vlbcNormal; break;
    case vlbsHot: c = vlbcHot; break;
    case vlbsPressed: c = vlbcPressed; break;
    case vlbsDisabled: c = vlbcDisabled; break;
  }
  return AIsText ? TvlButtonAssignedColor(c + 1) : c;
}

const TvlButtonAssignedColor kAllColors[] = {vlbcDefault, vlbcDefaultText, vlbcDisabled,    vlbcDisabledText,
                                             vlbcHot,     vlbcHotText,     vlbcNormal,      vlbcNormalText,
                                             vlbcPressed, vlbcPressedText};

Boolean IsWinXPPainter(TvlCustomLookAndFeelPainterClass APainter) {
  return APainter && APainter->InheritsFrom(TvlWinXPLookAndFeelPainter::StaticClass());
}

// Forms hold buttons.
void Startup() { RegisterClasses({ClassOf<TvlButton>()}); }

void Shutdown() {}

}  // namespace

CL_UNIT_STEPS(vlButtons, &Startup, &Shutdown);

// --- TvlButtonColors ------------------------------------------------------------------------

CL_IMPLEMENT_CLASS_PUBLISHED(TvlButtonColors, P) {
  struct TEntry {
    const char16_t* Name;
    TvlButtonAssignedColor Color;
  };
  static const TEntry entries[] = {
      {u"Default", vlbcDefault}, {u"DefaultText", vlbcDefaultText}, {u"Normal", vlbcNormal},
      {u"NormalText", vlbcNormalText}, {u"Hot", vlbcHot}, {u"HotText", vlbcHotText}, {u"Pressed", vlbcPressed},
      {u"PressedText", vlbcPressedText}, {u"Disabled", vlbcDisabled}, {u"DisabledText", vlbcDisabledText}};
  for (const TEntry& e : entries)
    P.IndexedProperty(e.Name, Integer(e.Color), &TvlButtonColors::GetIndexedColor,
                      &TvlButtonColors::SetIndexedColor)
        .Type(TypeInfoTColor())
        .Stored(&TvlButtonColors::IsIndexedColorStored);
  P.Property(u"AssignedColors", &TvlButtonColors::AssignedColors, &TvlButtonColors::SetAssignedColors).Stored(false);
}

void TvlButtonColors::Create(TvlCustomButton* AButton) {
  inherited::Create();
  FButton = AButton;
  std::fill(std::begin(FColors), std::end(FColors), clDefault);
}

void TvlButtonColors::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TvlButtonColors*>(Source)) {
    std::copy(std::begin(s->FColors), std::end(s->FColors), std::begin(FColors));
    FAssignedColors = s->FAssignedColors;
    Changed();
  } else {
    inherited::Assign(Source);
  }
}

void TvlButtonColors::Changed() {
  if (FButton) FButton->Invalidate();
}

void TvlButtonColors::SetColor(TvlButtonAssignedColor AIndex, TColor Value) {
  if (Value == clDefault || Value == clNone) {
    FColors[AIndex] = clDefault;
    FAssignedColors.Exclude(AIndex);
    Changed();
  } else if (FColors[AIndex] != Value) {
    FColors[AIndex] = Value;
    FAssignedColors.Include(AIndex);
    Changed();
  }
}

// Only the designer edits the set itself.
void TvlButtonColors::SetAssignedColors(TvlButtonAssignedColors Value) {
  if (!FButton || !FButton->ComponentState().Contains(csDesigning)) return;
  for (TvlButtonAssignedColor c : kAllColors) {
    if (!Value.Contains(c))
      FColors[c] = clDefault;
    else if (FColors[c] == clDefault)
      Value.Exclude(c);
  }
  FAssignedColors = Value;
  Changed();
}

TColor TvlButtonColors::GetColorByState(TvlButtonState AState, Boolean AIsText) const {
  const TvlButtonAssignedColor c = ColorOfState(AState, AIsText);
  if (FAssignedColors.Contains(c)) return FColors[c];
  const TvlButtonAssignedColor normal = AIsText ? vlbcNormalText : vlbcNormal;
  if (c == normal) return FColors[AIsText ? vlbcDefaultText : vlbcDefault];
  return FColors[normal];
}

// --- TvlSpeedButtonOptions ------------------------------------------------------------------

CL_IMPLEMENT_CLASS_PUBLISHED(TvlSpeedButtonOptions, P) {
  P.Property(u"AllowAllUp", &TvlSpeedButtonOptions::AllowAllUp, &TvlSpeedButtonOptions::SetAllowAllUp)
      .Default(false);
  P.Property(u"CanBeFocused", &TvlSpeedButtonOptions::CanBeFocused, &TvlSpeedButtonOptions::SetCanBeFocused)
      .Default(true);
  P.Property(u"Down", &TvlSpeedButtonOptions::Down, &TvlSpeedButtonOptions::SetDown).Default(false);
  P.Property(u"Flat", &TvlSpeedButtonOptions::Flat, &TvlSpeedButtonOptions::SetFlat).Default(false);
  P.Property(u"GroupIndex", &TvlSpeedButtonOptions::GroupIndex, &TvlSpeedButtonOptions::SetGroupIndex).Default(0);
  P.Property(u"Transparent", &TvlSpeedButtonOptions::Transparent, &TvlSpeedButtonOptions::SetTransparent)
      .Default(false);
}

void TvlSpeedButtonOptions::Create(TvlCustomButton* AOwner) {
  inherited::Create();
  FOwner = AOwner;
  FCanBeFocused = true;
}

TPersistent* TvlSpeedButtonOptions::GetOwner() { return FOwner; }

void TvlSpeedButtonOptions::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TvlSpeedButtonOptions*>(Source)) {
    SetGroupIndex(s->GroupIndex());
    SetAllowAllUp(s->AllowAllUp());
    SetCanBeFocused(s->CanBeFocused());
    SetDown(s->Down());
    SetFlat(s->Flat());
    SetTransparent(s->Transparent());
  } else {
    inherited::Assign(Source);
  }
}

void TvlSpeedButtonOptions::EndUpdate() {
  --FLockCount;
  UpdateGroupValues();
}

Boolean TvlSpeedButtonOptions::Active() const { return FOwner && (FGroupIndex != 0 || !FCanBeFocused); }

void TvlSpeedButtonOptions::UpdateGroupValues() {
  if (FOwner) FOwner->UpdateGroup();
}

void TvlSpeedButtonOptions::SetAllowAllUp(Boolean Value) {
  if (FAllowAllUp == Value) return;
  FAllowAllUp = Value;
  UpdateGroupValues();
}

void TvlSpeedButtonOptions::SetCanBeFocused(Boolean Value) {
  if (FCanBeFocused == Value) return;
  FCanBeFocused = Value;
  UpdateGroupValues();
  if (FOwner) FOwner->Invalidate();
}

Boolean TvlSpeedButtonOptions::Down() const { return FOwner && FOwner->Down(); }

void TvlSpeedButtonOptions::SetDown(Boolean Value) {
  if (FOwner) FOwner->SetDown(Value);
}

void TvlSpeedButtonOptions::SetFlat(Boolean Value) {
  if (FFlat == Value) return;
  FFlat = Value;
  UpdateGroupValues();
  if (Active()) FOwner->Invalidate();
}

void TvlSpeedButtonOptions::SetGroupIndex(Integer Value) {
  if (FGroupIndex == Value) return;
  FGroupIndex = Value;
  if (Value != 0)
    UpdateGroupValues();
  else if (FOwner)
    FOwner->SetDown(false);
}

void TvlSpeedButtonOptions::SetTransparent(Boolean Value) {
  if (FTransparent == Value) return;
  FTransparent = Value;
  UpdateGroupValues();
  if (Active()) FOwner->Invalidate();
}

// --- TvlButtonActionLink --------------------------------------------------------------------

CL_IMPLEMENT_CLASS(TvlButtonActionLink)

void TvlButtonActionLink::SetImageIndex(Integer Value) {
  inherited::SetImageIndex(Value);
  if (auto* button = dynamic_cast<TvlCustomButton*>(FClient)) button->GlyphObject()->SetImageIndex(Value);
}

void TvlButtonActionLink::Destroy() {
  auto* button = dynamic_cast<TvlCustomButton*>(FClient);
  if (button && !button->ComponentState().Contains(csDestroying) && button->GlyphObject()) {
    button->GlyphObject()->SetImageList(nullptr);
    button->GlyphObject()->SetImageIndex(-1);
  }
  inherited::Destroy();
}

// --- TvlCustomButton ------------------------------------------------------------------------

CL_IMPLEMENT_CLASS(TvlCustomButton)

CL_IMPLEMENT_CLASS_PUBLISHED(TvlButton, P) {
  PublishControlProperties(P, {u"Action", u"Align", u"Anchors", u"BiDiMode"});
  P.Property(u"Cancel", &TCustomButton::Cancel, &TCustomButton::SetCancel).Default(false);
  PublishControlProperties(P, {u"Caption"});
  P.Property(u"Colors", &TvlCustomButton::Colors, &TvlCustomButton::SetColors)
      .Stored(&TvlCustomButton::IsColorsStored);
  PublishControlProperties(P, {u"Constraints"});
  P.Property(u"Default", &TCustomButton::Default, &TCustomButton::SetDefault).Default(false);
  PublishControlProperties(P, {u"DragCursor", u"DragKind", u"DragMode"});
  P.Property(u"DropDownMenu", &TvlCustomButton::DropDownMenu, &TvlCustomButton::SetDropDownMenu);
  PublishControlProperties(P, {u"Enabled", u"Font"});
  P.Property(u"Glyph", &TvlCustomButton::Glyph, &TvlCustomButton::SetGlyph);
  P.Property(u"Kind", &TvlCustomButton::Kind, &TvlCustomButton::SetKind).Default(vlbkStandard);
  P.Property(u"Layout", &TvlCustomButton::Layout, &TvlCustomButton::SetLayout).Default(blGlyphLeft);
  P.Property(u"LookAndFeel", &TvlCustomButton::LookAndFeel, &TvlCustomButton::SetLookAndFeel);
  P.Property(u"Margin", &TvlCustomButton::Margin, &TvlCustomButton::SetMargin).Default(-1);
  P.Property(u"ModalResult", &TCustomButton::ModalResult, &TCustomButton::SetModalResult).Default(0);
  P.Property(u"NumGlyphs", &TvlCustomButton::NumGlyphs, &TvlCustomButton::SetNumGlyphs).Default(1);
  P.Property(u"PaintStyle", &TvlCustomButton::PaintStyle, &TvlCustomButton::SetPaintStyle).Default(bpsDefault);
  PublishControlProperties(P, {u"ParentBiDiMode", u"ParentFont", u"ParentShowHint"});
  P.Property(u"PopupAlignment", &TvlCustomButton::PopupAlignment, &TvlCustomButton::SetPopupAlignment)
      .Default(paLeft);
  P.Property(u"PopupMenu", &TvlCustomButton::PopupMenu, &TvlCustomButton::SetPopupMenu);
  PublishControlProperties(P, {u"ShowHint"});
  P.Property(u"Spacing", &TvlCustomButton::Spacing, &TvlCustomButton::SetSpacing).Default(4);
  P.Property(u"SpeedButtonOptions", &TvlCustomButton::SpeedButtonOptions, &TvlCustomButton::SetSpeedButtonOptions);
  PublishControlProperties(P, {u"TabOrder", u"TabStop"});
  P.Property(u"UseSystemPaint", &TvlCustomButton::UseSystemPaint, &TvlCustomButton::SetUseSystemPaint)
      .Default(false);
  PublishControlProperties(P, {u"Visible"});
  P.Property(u"WordWrap", &TButtonControl::WordWrap, &TButtonControl::SetWordWrap).Default(false);
  PublishControlProperties(P, {u"OnClick", u"OnContextPopup", u"OnDragDrop", u"OnDragOver"});
  P.Property(u"OnDropDownMenuPopup", &TvlCustomButton::OnDropDownMenuPopup,
             &TvlCustomButton::SetOnDropDownMenuPopup);
  PublishControlProperties(P, {u"OnEndDock", u"OnEndDrag", u"OnEnter", u"OnExit"});
  P.Property(u"OnGetDrawParams", &TvlCustomButton::OnGetDrawParams, &TvlCustomButton::SetOnGetDrawParams);
  PublishControlProperties(P, {u"OnKeyDown", u"OnKeyPress", u"OnKeyUp", u"OnMouseDown", u"OnMouseEnter",
                               u"OnMouseLeave", u"OnMouseMove", u"OnMouseUp", u"OnStartDock", u"OnStartDrag"});
  P.Property(u"AllowAllUp", &TvlCustomButton::AllowAllUp, &TvlCustomButton::SetAllowAllUp).Stored(false);
  P.Property(u"CanBeFocused", &TvlCustomButton::CanBeFocused, &TvlCustomButton::SetCanBeFocused).Stored(false);
  P.Property(u"Down", &TvlCustomButton::Down, &TvlCustomButton::SetDown).Stored(false);
  P.Property(u"GroupIndex", &TvlCustomButton::GroupIndex, &TvlCustomButton::SetGroupIndex).Stored(false);
}

void TvlCustomButton::Create(TComponent* AOwner) {
  inherited::Create(AOwner);
  FControlCanvas = New<TControlCanvas>();
  FControlCanvas->SetControl(this);
  FCanvas = New<TvlCanvas>(static_cast<TCanvas*>(FControlCanvas));
  FColors = New<TvlButtonColors>(this);
  FGlyph = CreateFrom(GetGlyphClass(), &TvlButtonGlyph::Create, this);
  FGlyph->SetOnChange(TNotifyEvent(this, &TvlCustomButton::GlyphChanged));
  FKind = vlbkStandard;
  FLayout = blGlyphLeft;
  FMargin = -1;
  FSpacing = 4;
  FPaintStyle = bpsDefault;
  FPopupAlignment = paLeft;
  FLookAndFeel = New<TvlLookAndFeel>(static_cast<TPersistent*>(this));
  FLookAndFeel->SetOnChanged(TvlLookAndFeelChangedEvent(this, &TvlCustomButton::LookAndFeelChanged));
  FSpeedButtonOptions = New<TvlSpeedButtonOptions>(this);
  SetDoubleBuffered(true);
  TControlStyle style = ControlStyle();
  style.Include(csOpaque);
  style.Include(csReflector);
  SetControlStyle(style);
}

void TvlCustomButton::Destroy() {
  vlStopMouseTracking(this);
  FreeAndNil(FSpeedButtonOptions);
  FreeAndNil(FLookAndFeel);
  FreeAndNil(FColors);
  FreeAndNil(FGlyph);
  FreeAndNil(FCanvas);
  FreeAndNil(FControlCanvas);
  inherited::Destroy();
}

TvlCustomLookAndFeelPainterClass TvlCustomButton::GetPainterClass() {
  if (FLookAndFeel->SkinPainter()) return FLookAndFeel->SkinPainter();
  TvlCustomLookAndFeelPainterClass painter = FLookAndFeel->Painter();
  if (painter->LookAndFeelStyle() == lfsOffice11) {
    if (nbIsThemeAvailable(totButton)) return ClassOf<TvlWinXPLookAndFeelPainter>();
    return ClassOf<TvlStandardLookAndFeelPainter>();
  }
  return painter;
}

void TvlCustomButton::GetOptimalSize(TSize& ASize) {
  TvlScreenCanvas* canvas = vlGetScreenCanvas();
  canvas->SetFont(Font());
  String text = vlStripAccelChars(Caption());
  if (text.empty()) text = u" ";
  ASize.cx = canvas->TextWidth(text) + 3 * canvas->TextWidth(u"R");
  ASize.cy = MulDiv(canvas->TextHeight(u"Wg"), 14, 8);
  canvas->Dormant();
}

Boolean TvlCustomButton::IsSpeedMode() const {
  return !CanBeFocused() || GroupIndex() != 0;
}

void TvlCustomButton::Click() {
  if (CanBeFocused() &&
      (FInternalState.Contains(bisPressed) ||
       !(FInternalState.Contains(bisPressed) || FInternalState.Contains(bisMenuButtonPressed))) &&
      !FInternalState.Contains(bisAccelExecute))
    SetDown(!Down());
  if (FKind == vlbkDropDown)
    DropDownMenuRequest();
  else
    inherited::Click();
}

Boolean TvlCustomButton::CanFocus() {
  return inherited::CanFocus() && (CanBeFocused() || ComponentState().Contains(csDesigning));
}

void TvlCustomButton::SetButtonStyle(Boolean ADefault) {
  if (ADefault == FIsFocused) return;
  FIsFocused = ADefault;
  Refresh();
}

void TvlCustomButton::CreateParams(TCreateParams& Params) {
  inherited::CreateParams(Params);
  Params.Style |= BS_OWNERDRAW;
}

void TvlCustomButton::CreateHandle() {
  inherited::CreateHandle();
  FGlyph->PrepareGlyph(FGlyph->SlotOfState(Enabled() ? vlbsNormal : vlbsDisabled));
}

void TvlCustomButton::DestroyWindowHandle() {
  if (FInternalState.Contains(bisMenuVisible)) Perform(VLM_CLOSEUPPOPUPMENU, 0, 0);
  inherited::DestroyWindowHandle();
}

Boolean TvlCustomButton::CanResize(Integer& NewWidth, Integer& NewHeight) {
  // Without automatic sizing (never switched on here) nothing changes the size.
  return inherited::CanResize(NewWidth, NewHeight);
}

void TvlCustomButton::Notification(TComponent* AComponent, TOperation Operation) {
  inherited::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == FDropDownMenu) FDropDownMenu = nullptr;
  if (AComponent == FPopupMenu) FPopupMenu = nullptr;
}

win::HPALETTE TvlCustomButton::GetPalette() { return FGlyph ? FGlyph->Glyph()->Palette() : nullptr; }

void TvlCustomButton::SetDropDownMenu(TPopupMenu* Value) {
  if (FDropDownMenu == Value) return;
  if (FDropDownMenu) FDropDownMenu->RemoveFreeNotification(this);
  FDropDownMenu = Value;
  if (FDropDownMenu) FDropDownMenu->FreeNotification(this);
}

void TvlCustomButton::SetPopupMenu(TComponent* Value) {
  if (Value && !Is<TPopupMenu>(Value) && !dynamic_cast<IvlExternalPopupMenu*>(Value)) Value = nullptr;
  if (FPopupMenu == Value) return;
  if (FPopupMenu) FPopupMenu->RemoveFreeNotification(this);
  FPopupMenu = Value;
  if (FPopupMenu) FPopupMenu->FreeNotification(this);
}

void TvlCustomButton::SetKind(TvlButtonKind Value) {
  if (FKind == Value) return;
  FKind = Value;
  RecreateWnd();
}

void TvlCustomButton::SetLayout(TButtonLayout Value) {
  if (FLayout == Value) return;
  FLayout = Value;
  Invalidate();
}

void TvlCustomButton::SetMargin(Integer Value) {
  if (Value < -1 || FMargin == Value) return;
  FMargin = Value;
  Invalidate();
}

void TvlCustomButton::SetPaintStyle(TvlButtonPaintStyle Value) {
  if (FPaintStyle == Value) return;
  FPaintStyle = Value;
  Invalidate();
}

void TvlCustomButton::SetSpacing(Integer Value) {
  if (FSpacing == Value) return;
  FSpacing = Value;
  Invalidate();
}

void TvlCustomButton::SetUseSystemPaint(Boolean Value) {
  if (FUseSystemPaint == Value) return;
  FUseSystemPaint = Value;
  Invalidate();
}

void TvlCustomButton::GlyphChanged(TObject*) { Invalidate(); }

void TvlCustomButton::LookAndFeelChanged(TvlLookAndFeel*, TvlLookAndFeelValues) {
  if (FUseSystemPaint)
    RecreateWnd();
  else
    Invalidate();
}

// --- Speed buttons ---

void TvlCustomButton::SetDown(Boolean Value) {
  if (GroupIndex() == 0) Value = false;
  if (Value == Down()) return;
  if (Down() && !AllowAllUp() && GroupIndex() != 0 && !FSpeedButtonOptions->IsLocked()) return;
  if (Value) {
    FInternalState.Include(bisDown);
    UpdateGroup();
  } else {
    FInternalState.Exclude(bisDown);
  }
  Invalidate();
}

void TvlCustomButton::UpdateGroup() {
  if (!FSpeedButtonOptions || FSpeedButtonOptions->IsLocked() || !FSpeedButtonOptions->Active() ||
      GroupIndex() == 0 || !Parent())
    return;
  TMessage m{CM_BUTTONPRESSED, WPARAM(GroupIndex()), LPARAM(static_cast<TControl*>(this)), 0};
  Parent()->Broadcast(m);
}

void TvlCustomButton::CMButtonPressed(TMessage& Message) {
  auto* sender = reinterpret_cast<TControl*>(Message.LParam);
  if (!IsSpeedMode() || GroupIndex() == 0 || Integer(Message.WParam) != GroupIndex() || sender == this) return;
  auto* other = dynamic_cast<TvlCustomButton*>(sender);
  if (!other) return;
  FSpeedButtonOptions->BeginUpdate();
  {
    Finally cancel([&] { FSpeedButtonOptions->CancelUpdate(); });
    FSpeedButtonOptions->SetCanBeFocused(other->CanBeFocused());
    FSpeedButtonOptions->SetAllowAllUp(other->AllowAllUp());
    FSpeedButtonOptions->SetFlat(other->SpeedButtonOptions()->Flat());
    FSpeedButtonOptions->SetTransparent(other->SpeedButtonOptions()->Transparent());
    if (other->Down() && Down()) {
      SetDown(false);
      if (auto* action = dynamic_cast<TCustomAction*>(Action())) action->SetChecked(false);
    }
  }
  Invalidate();
}

// --- Actions ---

void TvlCustomButton::UpdateImageInfo() {
  if (!FGlyph) return;
  if (auto* action = dynamic_cast<TCustomAction*>(Action())) {
    FGlyph->SetImageList(action->Images());
    FGlyph->SetImageIndex(action->ImageIndex());
  } else {
    FGlyph->SetImageList(nullptr);
    FGlyph->SetImageIndex(-1);
  }
}

void TvlCustomButton::ActionChange(TObject* Sender, Boolean CheckDefaults) {
  inherited::ActionChange(Sender, CheckDefaults);
  UpdateImageInfo();
}

Boolean TvlCustomButton::UpdateAction(TBasicAction* Action) {
  const Boolean result = inherited::UpdateAction(Action);
  UpdateImageInfo();
  return result;
}

// --- Painting ---

Boolean TvlCustomButton::CanHotTrack() {
  return !UsesSystemPainting() && GetPainterClass()->IsButtonHotTrack() && Enabled();
}

TvlButtonState TvlCustomButton::GetButtonState(Boolean ASelected, Boolean AFocused) {
  FIsPaintPressed = (ASelected && !FInternalState.Contains(bisMenuButtonPressed)) ||
                    (FInternalState.Contains(bisMenuVisible) && FKind == vlbkDropDown) ||
                    (IsSpeedMode() && (Down() || (FInternalState.Contains(bisHot) &&
                                                  FInternalState.Contains(bisPressed))));
  FIsPaintDefault =
      (AFocused || (Default() && ComponentState().Contains(csDesigning)) || FIsFocused) && CanBeFocused();
  if (!Enabled()) return vlbsDisabled;
  if (FIsPaintPressed) return vlbsPressed;
  if (FInternalState.Contains(bisHot) && CanHotTrack()) return vlbsHot;
  if (FIsPaintDefault) return vlbsDefault;
  return vlbsNormal;
}

TRect TvlCustomButton::GetContentRect(TvlButtonState AState) {
  TRect r = ClientRect();
  const Integer border = GetPainterClass()->ButtonBorderSize(AState);
  r = Rect(r.Left + border, r.Top + border, r.Right - border, r.Bottom - border);
  if (FKind == vlbkDropDownButton) r.Right -= vlDropDownButtonWidth - vlDropDownButtonOverlap;
  return r;
}

void TvlCustomButton::DrawBackground(const TRect& R, TvlButtonState AState, TColor AColor) {
  TvlCustomLookAndFeelPainterClass painter = GetPainterClass();
  const Boolean flat = FSpeedButtonOptions->Flat(), transparent = FSpeedButtonOptions->Transparent();
  const TColor textColor = FCanvas->Font()->Color();
  if ((!flat && !transparent) || CanBeFocused()) {
    painter->DrawButton(FCanvas, R, u"", AState, true, AColor, textColor, WordWrap(), false);
    return;
  }
  const Boolean hot = FInternalState.Contains(bisHot);
  TRect r = R;
  const Boolean noBorder =
      FLookAndFeel->SkinPainter() ||
      (flat && !ComponentState().Contains(csDesigning) &&
       (AState == vlbsDisabled || (AState == vlbsNormal && !hot))) ||
      FLookAndFeel->NativeStyle() || FLookAndFeel->Kind() == lfOffice11;
  if (!noBorder) {
    painter->DrawButtonBorder(FCanvas, r, AState);
    const Integer b = painter->ButtonBorderSize(AState);
    r = Rect(r.Left + b, r.Top + b, r.Right - b, r.Bottom - b);
  }
  FCanvas->SaveClipRegion();
  Finally restore([&] { FCanvas->RestoreClipRegion(); });
  FCanvas->IntersectClipRect(r);
  if (!transparent || (AState != vlbsDisabled && AState != vlbsNormal && !hot) ||
      (hot && painter->IsButtonHotTrack()))
    painter->DrawButton(FCanvas, r, u"", AState, false, AColor, textColor, WordWrap(), true);
  else
    vlDrawTransparentBackground(this, FCanvas, ClientRect());
}

void TvlCustomButton::Paint(DRAWITEMSTRUCT& ADrawItem) {
  if (UsesSystemPainting()) return;
  FControlCanvas->SetHandle(ADrawItem.hDC);
  Finally release([&] { FControlCanvas->SetHandle(nullptr); });
  TvlCustomLookAndFeelPainterClass painter = GetPainterClass();
  const Boolean skin = FLookAndFeel->SkinPainter() != nullptr;
  const Boolean xp = IsWinXPPainter(painter);
  TRect r = ClientRect();
  HTHEME theme = xp ? nbGetThemeHandle(totButton) : nullptr;
  if (theme && IsThemeBackgroundPartiallyTransparent(theme, BP_PUSHBUTTON, PBS_NORMAL))
    vlDrawParentBackground(this, FCanvas, r);
  else if (skin)
    vlDrawTransparentBackground(this, FCanvas, r);
  TRect arrow{};
  if (FKind == vlbkDropDownButton) {
    arrow = Rect(r.Right - vlDropDownButtonWidth, r.Top, r.Right, r.Bottom);
    r.Right -= vlDropDownButtonWidth - vlDropDownButtonOverlap;
  }
  const TvlButtonState state =
      GetButtonState(ADrawItem.itemState & ODS_SELECTED, ADrawItem.itemState & ODS_FOCUS);
  FLastPaintState = state;
  FCanvas->Font()->Assign(Font());
  TColor color = FColors->GetColorByState(state);
  TColor textColor = FColors->GetColorByState(state, true);
  if (textColor == clDefault) textColor = painter->ButtonSymbolColor(state, Font()->Color());
  FCanvas->Font()->SetColor(textColor);
  if (Assigned(FOnGetDrawParams)) FOnGetDrawParams(this, state, color, FCanvas->Font());
  DrawBackground(r, state, color);
  const Integer offset = state == vlbsPressed && painter->ButtonTextShift() != 0 ? painter->ButtonTextShift() : 0;
  FCanvas->SaveClipRegion();
  {
    Finally restore([&] { FCanvas->RestoreClipRegion(); });
    FCanvas->IntersectClipRect(GetContentRect(state));
    UpdateImageInfo();
    FGlyph->Draw(FCanvas, GetContentRect(vlbsDefault), offset, Caption(), FLayout, FMargin, FSpacing, state,
                 DrawTextBiDiModeFlags(0), xp, WordWrap(), skin);
  }
  if (FKind == vlbkDropDownButton) {
    TvlButtonState arrowState = state;
    if (FInternalState.Contains(bisMenuVisible))
      arrowState = vlbsPressed;
    else if (state == vlbsPressed)
      arrowState = FIsFocused ? vlbsHot : vlbsNormal;
    DrawBackground(arrow, arrowState, color);
    painter->DrawScrollBarArrow(FCanvas, arrow, arrowState, adDown);
  }
  if (CanBeFocused() && (ADrawItem.itemState & ODS_FOCUS) && !FInternalState.Contains(bisMenuVisible))
    FCanvas->DrawFocusRect(painter->ButtonFocusRect(FCanvas, r));
}

void TvlCustomButton::CNDrawItem(TMessage& Message) {
  auto* dis = reinterpret_cast<DRAWITEMSTRUCT*>(Message.LParam);
  // Nothing to paint with before construction ends or after destruction began.
  if (dis && FLookAndFeel && FGlyph && FSpeedButtonOptions) Paint(*dis);
  Message.Result = 1;
}

void TvlCustomButton::CNMeasureItem(TMessage& Message) {
  if (auto* mis = reinterpret_cast<MEASUREITEMSTRUCT*>(Message.LParam)) {
    mis->itemWidth = UINT(Width());
    mis->itemHeight = UINT(Height());
  }
}

void TvlCustomButton::WMEraseBkgnd(TMessage& Message) { Message.Result = 1; }

// --- Mouse and keyboard ---

Boolean TvlCustomButton::IsMenuPartAt(Integer X, Integer Y) {
  const TRect client = ClientRect();
  const TPoint p{X, Y};
  if (!PtInRect(&client, p)) return false;
  switch (FKind) {
    case vlbkDropDown: return true;
    case vlbkDropDownButton: return X >= client.Right - vlDropDownButtonWidth;
    default: return false;
  }
}

void TvlCustomButton::SetPressedFlags(Integer X, Integer Y) {
  if (FKind == vlbkStandard)
    FInternalState.Include(bisPressed);
  else if (IsMenuPartAt(X, Y))
    FInternalState.Include(bisMenuButtonPressed);
  else
    FInternalState.Include(bisPressed);
}

void TvlCustomButton::MouseEnter(TControl*) {
  vlStartMouseTracking(this, ClientRect(), this);
  const Boolean wasHot = FInternalState.Contains(bisHot);
  FInternalState.Include(bisHot);
  if (Enabled() && !wasHot) Repaint();
}

void TvlCustomButton::MouseLeave(TControl*) {
  vlStopMouseTracking(this);
  FInternalState.Exclude(bisHot);
  if (Enabled()) Invalidate();
}

void TvlCustomButton::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  if (!CanBeFocused()) SetCapture(Handle());
  TWeakRef<TvlCustomButton> self(this);
  inherited::MouseDown(Button, Shift, X, Y);
  if (!self || Button != mbLeft) return;
  SetPressedFlags(X, Y);
  if (FKind == vlbkDropDownButton && FInternalState.Contains(bisMenuButtonPressed)) DropDownMenuRequest();
  Invalidate();
}

void TvlCustomButton::DblClick() {
  if (!CanBeFocused()) SetCapture(Handle());
  if (GroupIndex() != 0) {
    TWeakRef<TvlCustomButton> self(this);
    inherited::DblClick();
    if (!self) return;
  }
  const TPoint p = ScreenToClient(vlGetMouseCursorPos());
  SetPressedFlags(p.X, p.Y);
  Invalidate();
}

void TvlCustomButton::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  TWeakRef<TvlCustomButton> self(this);
  inherited::MouseMove(Shift, X, Y);
  if (!self) return;
  const TRect client = ClientRect();
  if (PtInRect(&client, TPoint{X, Y}))
    MouseEnter(this);
  else if (FInternalState.Contains(bisHot))
    MouseLeave(this);
}

void TvlCustomButton::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  const Boolean speedClick =
      !CanBeFocused() && Button == mbLeft && FInternalState.Contains(bisHot) &&
      (FInternalState.Contains(bisPressed) ||
       (FInternalState.Contains(bisMenuButtonPressed) && FKind == vlbkDropDown));
  if (speedClick) SetDown(!Down());
  TWeakRef<TvlCustomButton> self(this);
  inherited::MouseUp(Button, Shift, X, Y);
  if (!self) return;
  FInternalState.Exclude(bisPressed);
  FInternalState.Exclude(bisMenuButtonPressed);
  if (!CanBeFocused() && HandleAllocated() && GetCapture() == WindowHandle()) ReleaseCapture();
  if (speedClick) {
    Click();
    if (!self) return;
  }
  Invalidate();
  if (!FInternalState.Contains(bisMenuVisible)) FIsDropDownMenuClosing = false;
}

void TvlCustomButton::KeyDown(Word& Key, TShiftState Shift) {
  if (FKind == vlbkDropDownButton && (Key == VK_UP || Key == VK_DOWN) &&
      (Shift.Contains(ssAlt) || Shift.Contains(ssShift))) {
    if (!FInternalState.Contains(bisMenuVisible)) DropDownMenuRequest();
    Key = 0;
  }
  inherited::KeyDown(Key, Shift);
}

void TvlCustomButton::CMDialogChar(TMessage& Message) {
  if (IsAccel(TWMKey(Message).CharCode(), Caption()) && CanFocus()) {
    FInternalState.Include(bisAccelExecute);
    TWeakRef<TvlCustomButton> self(this);
    Finally clear([&] {
      if (self) FInternalState.Exclude(bisAccelExecute);
    });
    Click();
    Message.Result = 1;
  } else {
    inherited::Dispatch(Message);
  }
}

void TvlCustomButton::CNKeyDown(TMessage& Message) {
  if (FPopupMenu) {
    TWMKey key(Message);
    if (vlIsPopupMenuShortCut(FPopupMenu, key)) {
      Message.Result = 1;
      return;
    }
  }
  inherited::Dispatch(Message);
}

void TvlCustomButton::CNSysKeyDown(TMessage& Message) { CNKeyDown(Message); }

// A plain click whose press began in the arrow part opened the menu instead.
void TvlCustomButton::CNCommand(TMessage& Message) {
  if (FKind == vlbkDropDownButton && FInternalState.Contains(bisMenuButtonPressed) &&
      !FInternalState.Contains(bisPressed))
    return;
  inherited::Dispatch(Message);
}

void TvlCustomButton::CMEnabledChanged(TMessage& Message) {
  if (!Enabled()) FInternalState.Exclude(bisHot);
  Invalidate();
  inherited::Dispatch(Message);
}

void TvlCustomButton::CMFontChanged(TMessage& Message) {
  Invalidate();
  inherited::Dispatch(Message);
}

void TvlCustomButton::CMMouseEnter(TMessage& Message) {
  TWeakRef<TvlCustomButton> self(this);
  inherited::Dispatch(Message);
  if (self && !ComponentState().Contains(csDesigning) && Message.LParam == 0) MouseEnter(this);
}

void TvlCustomButton::CMMouseLeave(TMessage& Message) {
  TWeakRef<TvlCustomButton> self(this);
  inherited::Dispatch(Message);
  if (self && !ComponentState().Contains(csDesigning) && Message.LParam == 0) MouseLeave(this);
}

void TvlCustomButton::WMCaptureChanged(TMessage& Message) {
  if (!ComponentState().Contains(csDesigning) && HandleAllocated() &&
      WindowFromPoint(vlGetMouseCursorPos()) != WindowHandle()) {
    FInternalState.Exclude(bisHot);
    FInternalState.Exclude(bisPressed);
    FInternalState.Exclude(bisMenuButtonPressed);
    Invalidate();
  }
  inherited::Dispatch(Message);
}

void TvlCustomButton::WMWindowPosChanged(TMessage& Message) {
  inherited::Dispatch(Message);
  if (FSpeedButtonOptions && FSpeedButtonOptions->Transparent() && !CanBeFocused()) Invalidate();
}

void TvlCustomButton::WMContextMenu(TMessage& Message) {
  if (Message.Result != 0 || ComponentState().Contains(csDesigning)) {
    inherited::Dispatch(Message);
    return;
  }
  TPoint p{GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)};
  if (p.X != -1 || p.Y != -1) {
    p = ScreenToClient(p);
    const TRect client = ClientRect();
    if (!PtInRect(&client, p)) {
      inherited::Dispatch(Message);
      return;
    }
  }
  Boolean handled = false;
  TWeakRef<TvlCustomButton> self(this);
  DoContextPopup(p, handled);
  if (!self) return;
  Message.Result = handled;
  if (!handled) inherited::Dispatch(Message);
}

void TvlCustomButton::DoContextPopup(TPoint MousePos, Boolean& Handled) {
  inherited::DoContextPopup(MousePos, Handled);
  if (Handled) return;
  const TPoint p = MousePos.X == -1 && MousePos.Y == -1 ? TPoint{0, 0} : MousePos;
  Handled = ShowPopupMenuAt(FPopupMenu, ClientToScreen(p));
}

Boolean TvlCustomButton::ShowPopupMenuAt(TComponent* APopupMenu, const TPoint& P) {
  return vlShowPopupMenu(this, APopupMenu, P.X, P.Y);
}

// --- Drop-down menu ---

Boolean TvlCustomButton::RunDropDownMenuPopupEvent(TPopupMenu*& APopupMenu) {
  Boolean handled = false;
  if (Assigned(FOnDropDownMenuPopup)) FOnDropDownMenuPopup(this, APopupMenu, handled);
  return handled;
}

void TvlCustomButton::DropDownMenuRequest() {
  if (FInternalState.Contains(bisMenuVisible) || FIsDropDownMenuClosing || !HandleAllocated()) return;
  PostMessageW(WindowHandle(), VLM_DROPDOWNPOPUPMENU, 0, 0);
}

void TvlCustomButton::DoDropDownMenu() {
  // A request queued before the menu opened finds it shown (or not yet
  // reported closed): one menu at a time.
  if (FKind == vlbkStandard || FInternalState.Contains(bisMenuVisible)) return;
  TPopupMenu* menu = FDropDownMenu;
  if (RunDropDownMenuPopupEvent(menu) || !menu) return;
  FInternalState.Exclude(bisMenuButtonPressed);
  FInternalState.Include(bisMenuVisible);
  FIsDropDownMenuClosing = false;
  Repaint();
  TPoint p{0, Height()};
  switch (FPopupAlignment) {
    case paLeft: p.X = 0; break;
    case paRight: p.X = Width(); break;
    case paCenter: p.X = Width() / 2; break;
  }
  p = ClientToScreen(p);
  const TRect workArea = vlGetDesktopWorkAreaAtPoint(p);
  const Integer menuHeight = vlGetPopupMenuHeight(menu);
  if (p.Y + menuHeight > workArea.Bottom) p.Y -= menuHeight + Height() + 2;
  TPopupAlignment alignment = FPopupAlignment;
  if (p.X <= workArea.Left)
    alignment = paRight;
  else if (p.X >= workArea.Right)
    alignment = paLeft;
  TWeakRef<TvlCustomButton> self(this);
  TWeakRef<TPopupMenu> menuRef(menu);
  const TPopupAlignment saved = menu->Alignment();
  menu->SetAlignment(alignment);
  menu->SetPopupComponent(this);
  {
    Finally restore([&] {
      if (menuRef) menu->SetAlignment(saved);
    });
    menu->Popup(p.X, p.Y);
  }
  if (self && HandleAllocated()) PostMessageW(WindowHandle(), VLM_CLOSEUPPOPUPMENU, 0, 0);
}

void TvlCustomButton::VLMDropDownPopupMenu(TMessage&) { DoDropDownMenu(); }

// The press that closed the menu on the menu part must not open it again.
void TvlCustomButton::VLMCloseUpPopupMenu(TMessage&) {
  Boolean closing = FInternalState.Contains(bisMenuButtonPressed);
  MSG msg{};
  if (!closing && HandleAllocated() &&
      PeekMessageW(&msg, WindowHandle(), WM_LBUTTONDOWN, WM_LBUTTONDBLCLK, PM_NOREMOVE) &&
      (msg.message == WM_LBUTTONDOWN || msg.message == WM_LBUTTONDBLCLK))
    closing = IsMenuPartAt(GET_X_LPARAM(msg.lParam), GET_Y_LPARAM(msg.lParam));
  FIsDropDownMenuClosing = closing;
  FInternalState.Exclude(bisMenuVisible);
  Repaint();
}

// --- Messages ---

void TvlCustomButton::WndProc(TMessage& Message) {
  const Boolean designing = ComponentState().Contains(csDesigning);
  if (IsSpeedMode() && !CanBeFocused() && !designing) {
    if (Message.Msg == WM_LBUTTONDOWN || Message.Msg == WM_LBUTTONDBLCLK) {
      const TShiftState shift = KeysToShiftState(Word(Message.WParam));
      const Integer x = GET_X_LPARAM(Message.LParam), y = GET_Y_LPARAM(Message.LParam);
      if (Message.Msg == WM_LBUTTONDOWN)
        MouseDown(mbLeft, shift, x, y);
      else
        DblClick();
      return;
    }
  } else if (Message.Msg == WM_LBUTTONDBLCLK) {
    Message.Msg = WM_LBUTTONDOWN;
  }
  inherited::WndProc(Message);
}

void TvlCustomButton::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CN_DRAWITEM: CNDrawItem(Message); break;
    case CN_MEASUREITEM: CNMeasureItem(Message); break;
    case CN_COMMAND: CNCommand(Message); break;
    case CN_KEYDOWN: CNKeyDown(Message); break;
    case CN_SYSKEYDOWN: CNSysKeyDown(Message); break;
    case CM_DIALOGCHAR: CMDialogChar(Message); break;
    case CM_ENABLEDCHANGED: CMEnabledChanged(Message); break;
    case CM_FONTCHANGED: CMFontChanged(Message); break;
    case CM_MOUSEENTER: CMMouseEnter(Message); break;
    case CM_MOUSELEAVE: CMMouseLeave(Message); break;
    case CM_BUTTONPRESSED: CMButtonPressed(Message); break;
    case WM_CAPTURECHANGED: WMCaptureChanged(Message); break;
    case WM_CONTEXTMENU: WMContextMenu(Message); break;
    case WM_ERASEBKGND: WMEraseBkgnd(Message); break;
    case WM_WINDOWPOSCHANGED: WMWindowPosChanged(Message); break;
    case VLM_DROPDOWNPOPUPMENU: VLMDropDownPopupMenu(Message); break;
    case VLM_CLOSEUPPOPUPMENU: VLMCloseUpPopupMenu(Message); break;
    default: inherited::Dispatch(Message);
  }
}
