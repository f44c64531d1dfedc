// The layout calculator of an editor: states, borders, colours, the button
// layout and measuring.
#include <algorithm>
#include <climits>

#include "lib/editors/vlEdit.h"
#include "lib/editors/vlEditUtils.h"
#include "lib/editors/vlEditViewInfo.h"
#include "lib/foundation/nbUxTheme.h"
#include "lib/foundation/vlGeometry.h"
#include "lib/foundation/vlGraphics.h"
#include "lib/lookandfeel/vlLookAndFeels.h"
#include "platform/vcl/Controls.h"
#include "platform/vcl/Graphics.h"
#include "platform/win/Windows.h"

using namespace win;

namespace {

// The content offsets of a stand-alone editor and of an in-place one (left, top, right, bottom).
constexpr TRect kStandaloneContentOffsets{1, 1, 1, 3};
constexpr TRect kInplaceContentOffsets{1, 1, 1, 1};
// The border of a transparent or native editor, on every side.
constexpr Integer kNativeBorderWidth = 2;
// The shadow below and right of the border.
constexpr Integer kShadowWidth = 3;
// A measuring pass lays out on this width and height.
constexpr Integer kUnboundedExtent = INT_MAX;

Integer EditBorderWidth(TvlEditBorderStyle AStyle) {
  switch (AStyle) {
    case ebsNone: return 0;
    case ebsThick:
    case ebsFlat:
    case ebs3D: return 2;
    default: return 1;
  }
}

TvlEditPopupBorderStyle PopupBorderOfKind(TvlLookAndFeelKind AKind) {
  switch (AKind) {
    case lfFlat: return epbsFlat;
    case lfStandard: return epbsFrame3D;
    default: return epbsSingle;
  }
}

TvlEditPopupBorderStyle PopupBorderOfBorderStyle(TvlEditBorderStyle AStyle) {
  return (AStyle == ebsNone || AStyle == ebsFlat) ? epbsFlat : epbsSingle;
}

TvlLookAndFeelKind KindOfButtonStyle(TvlEditButtonStyle AStyle) {
  switch (AStyle) {
    case btsFlat:
    case btsSimple:
    case btsHotFlat: return lfFlat;
    case btsUltraFlat: return lfUltraFlat;
    case btsOffice11: return lfOffice11;
    default: return lfStandard;
  }
}

// Only the mouse buttons and the double click count for the button states.
TShiftState MouseShift(TShiftState Shift) {
  Shift.Exclude(ssShift);
  Shift.Exclude(ssAlt);
  Shift.Exclude(ssCtrl);
  return Shift;
}

Boolean IsLeftOnly(TShiftState Shift) {
  return Shift == TShiftState{ssLeft} || Shift == TShiftState{ssLeft, ssDouble};
}

}  // namespace

TvlLookAndFeelKind vlGetEditButtonsLookAndFeelKind(TvlCustomEdit* AEdit) {
  if (AEdit->IsInplace()) return AEdit->Style()->LookAndFeel()->Kind();
  TvlCustomEditViewInfo* vi = AEdit->ViewInfo();
  if (vi->ButtonCount() == 0) return lfStandard;
  return KindOfButtonStyle(vi->ButtonsInfo[0]->Data.Style);
}

CL_IMPLEMENT_CLASS(TvlCustomEditViewData)

void TvlCustomEditViewData::Create(TvlCustomEditProperties* AProperties, TvlCustomEditStyle* AStyle,
                                   Boolean AIsInplace) {
  FProperties = AProperties;
  FStyle = AStyle;
  FIsInplace = AIsInplace;
  FLeftSideLeftmostButtonIndex = FLeftSideRightmostButtonIndex = -1;
  FRightSideLeftmostButtonIndex = FRightSideRightmostButtonIndex = -1;
  InitDefaults();
  SelTextColor = clDefault;
  SelBackgroundColor = clDefault;
  InitializeFromProperties();
}

void TvlCustomEditViewData::InitDefaults() {
  ContentOffset = TRect{};
  Enabled = true;
}

void TvlCustomEditViewData::InitializeFromProperties() {
  ButtonVisibleCount = FProperties->Buttons()->VisibleCount();
  IsValueSource = FProperties->GetEditValueSource(false) == 0;
  TvlEditAlignment* alignment = FProperties->Alignment();
  HorzAlignment = alignment->Horz();
  VertAlignment = alignment->Vert();
  NativeStyle = IsNativeStyle(FStyle->LookAndFeel());
  InitEditContentParams(EditContentParams);
}

Boolean TvlCustomEditViewData::IsNativeStyle(TvlLookAndFeel* ALookAndFeel) const {
  return ALookAndFeel->NativeStyle() && nbIsThemeAvailable(totEdit);
}

TRect TvlCustomEditViewData::DefaultContentOffsets() {
  return FIsInplace ? kInplaceContentOffsets : kStandaloneContentOffsets;
}

void TvlCustomEditViewData::InitEditContentParams(TvlEditContentParams& AParams) {
  AParams.ExternalBorderBounds = TRect{};
  AParams.Offsets = DefaultContentOffsets();
  AParams.SizeCorrection.cx = 3 - AParams.Offsets.Left - AParams.Offsets.Right;
  AParams.SizeCorrection.cy = NativeStyle ? vlNativeInplaceButtonHeightFix(FProperties, FIsInplace) : 0;
  AParams.Options = TvlEditContentOptions{ecoOffsetButtonContent};
}

TvlEditPaintOptions TvlCustomEditViewData::GetPaintOptions() {
  TvlEditPaintOptions r = PaintOptions;
  if (!vlIsRectEmpty(EditContentParams.ExternalBorderBounds)) r.Include(epoHasExternalBorder);
  if (EditContentParams.Options.Contains(ecoShowFocusRectWhenInplace)) r.Include(epoShowFocusRectWhenInplace);
  return r;
}

Boolean TvlCustomEditViewData::DisplayFocused() { return FEdit ? FEdit->InternalFocused() : Focused; }

Integer TvlCustomEditViewData::CaptureButtonVisibleIndex() {
  return FEdit ? FEdit->CaptureButtonVisibleIndex() : -1;
}

// --- States ------------------------------------------------------------------------------------------------

TvlContainerState TvlCustomEditViewData::CalculateContainerState(const TRect& ABounds, const TPoint& P,
                                                                 TvlMouseButton, TShiftState Shift) {
  if (!Enabled) return TvlContainerState{csDisabled};
  if (IsDesigning) return TvlContainerState{csNormal};
  TvlContainerState r{Focused ? csActive : csNormal};
  const TRect visible = FEdit ? FEdit->VisibleBounds() : vlDeflateRectByBorders(ABounds, ContentOffset);
  const Boolean captured = FEdit && FEdit->HandleAllocated() && GetCapture() == FEdit->WindowHandle();
  if (vlPointInRect(visible, P) && (Shift.Empty() || captured)) r.Include(csHotTrack);
  return r;
}

Integer TvlCustomEditViewData::CalculateNativeState() {
  if (!Enabled) return ETS_DISABLED;
  if (FProperties->ReadOnly()) return ETS_READONLY;
  if (ContainerState.Contains(csActive)) return nbOSWindowsVistaOrLater ? ETS_SELECTED : ETS_FOCUSED;
  if (ContainerState.Contains(csHotTrack)) return ETS_HOT;
  return ETS_NORMAL;
}

// --- Borders -----------------------------------------------------------------------------------------------

TvlEditBorderStyle TvlCustomEditViewData::CorrectBorderStyle(TvlEditBorderStyle AStyle) {
  return (AStyle == ebsUltraFlat || AStyle == ebsOffice11) ? ebsSingle : AStyle;
}

TvlEditBorderStyle TvlCustomEditViewData::GetBorderStyle() {
  if (FIsInplace) return ebsNone;
  return CorrectBorderStyle(FStyle->EditBorderStyle());
}

Boolean TvlCustomEditViewData::HasShadow() { return FStyle->Shadow() && !NativeStyle; }

TColor TvlCustomEditViewData::GetBorderColor() {
  const Boolean active =
      ContainerState.Contains(csActive) || (ContainerState.Contains(csHotTrack) && FStyle->HotTrack());
  if (TvlCustomLookAndFeelPainterClass painter = FStyle->LookAndFeel()->SkinPainter())
    return painter->GetContainerBorderColor(active);
  const TvlEditBorderStyle border = FStyle->EditBorderStyle();
  if (border != ebsUltraFlat && border != ebsOffice11) return FStyle->BorderColor();
  if (active || (IsDesigning && Enabled)) return vlGetFlatEditBorderColor(border == ebsOffice11);
  return clBtnShadow;
}

TRect TvlCustomEditViewData::GetBorderExtentByEdges(Integer ABorderWidth) {
  const TvlBorders e = FStyle->Edges();
  return TRect{e.Contains(bLeft) ? ABorderWidth : 0, e.Contains(bTop) ? ABorderWidth : 0,
               e.Contains(bRight) ? ABorderWidth : 0, e.Contains(bBottom) ? ABorderWidth : 0};
}

TRect TvlCustomEditViewData::GetBorderExtentByPainter() {
  const Boolean transparent = FStyle->TransparentBorder();
  if (!FStyle->HasBorder() && !transparent) return TRect{};
  const TvlContainerBorderStyle style = transparent ? cbsThick : TvlContainerBorderStyle(GetBorderStyle());
  return GetBorderExtentByEdges(vlGetPaintedBorderWidth(style, FStyle->LookAndFeel()->SkinPainter()));
}

TRect TvlCustomEditViewData::GetBorderExtent() {
  if (FIsInplace) return ContentOffset;
  TRect r;
  if (FStyle->LookAndFeel()->SkinPainter())
    r = GetBorderExtentByPainter();
  else if (FStyle->TransparentBorder())
    r = TRect{kNativeBorderWidth, kNativeBorderWidth, kNativeBorderWidth, kNativeBorderWidth};
  else if (!FStyle->HasBorder() || (NativeStyle && FStyle->BaseStyle()->BorderStyle() == cbsNone))
    r = TRect{};
  else if (NativeStyle)
    r = TRect{kNativeBorderWidth, kNativeBorderWidth, kNativeBorderWidth, kNativeBorderWidth};
  else
    r = GetBorderExtentByEdges(EditBorderWidth(GetBorderStyle()));
  if (HasShadow()) {
    r.Right += kShadowWidth;
    r.Bottom += kShadowWidth;
  }
  return r;
}

TRect TvlCustomEditViewData::GetButtonsExtent(TvlCanvas*) {
  if (FIsInplace) return ContentOffset;
  if (!NativeStyle) return GetBorderExtent();
  if (!FStyle->TransparentBorder() && FStyle->BaseStyle()->BorderStyle() == cbsNone) return TRect{};
  if (FStyle->HasBorder()) return vlGetThemeContentMargins(totEdit, EP_EDITTEXT, ETS_NORMAL);
  return TRect{kNativeBorderWidth, kNativeBorderWidth, kNativeBorderWidth, kNativeBorderWidth};
}

TRect TvlCustomEditViewData::GetClientExtent(TvlCanvas* ACanvas, TvlCustomEditViewInfo* AViewInfo) {
  TRect r = GetBorderExtent();
  if (FProperties->ButtonsViewStyle() != bvsNormal && AViewInfo->ButtonCount() > 0) {
    const TRect b = GetButtonsExtent(ACanvas);
    r.Left = b.Left;
    r.Right = b.Right;
  }
  if (HScrollBar) r.Bottom += HScrollBar->Height();
  if (VScrollBar) r.Right += VScrollBar->Width();
  for (TvlEditButtonViewInfo* b : AViewInfo->ButtonsInfo) {
    if (vlIsRectEmpty(b->VisibleBounds)) continue;
    if (b->Data.LeftAlignment)
      r.Left = std::max(r.Left, b->VisibleBounds.Right - Bounds.Left);
    else
      r.Right = std::max(r.Right, Bounds.Right - b->VisibleBounds.Left);
  }
  return r;
}

TvlEditButtonStyle TvlCustomEditViewData::GetButtonsStyle() {
  const TvlEditButtonStyle own = FStyle->ButtonStyle();
  if (own != btsDefault) return own;
  const TvlEditBorderStyle border = FStyle->EditBorderStyle();
  if (FIsInplace || (border == ebsNone && !FStyle->HotTrack())) {
    switch (FStyle->LookAndFeel()->Kind()) {
      case lfFlat: return btsFlat;
      case lfStandard: return bts3D;
      case lfOffice11: return btsOffice11;
      default: return btsUltraFlat;
    }
  }
  switch (border) {
    case ebsNone: return btsSimple;
    case ebsSingle: return btsHotFlat;
    case ebsThick:
    case ebs3D: return bts3D;
    case ebsFlat: return btsFlat;
    case ebsUltraFlat: return btsUltraFlat;
    default: return btsOffice11;
  }
}

// --- Calculating ----------------------------------------------------------------------------------------------

void TvlCustomEditViewData::CalculateEx(TvlCanvas* ACanvas, const TRect& ABounds, const TPoint& P,
                                        TvlMouseButton Button, TShiftState Shift, TvlCustomEditViewInfo* AViewInfo,
                                        Boolean AIsMouseEvent) {
  AViewInfo->Left = ABounds.Left;
  AViewInfo->Top = ABounds.Top;
  const TRect bounds = vlOffsetRect(ABounds, ABounds.Left, ABounds.Top, false);
  const TPoint p{P.X - ABounds.Left, P.Y - ABounds.Top};
  Calculate(ACanvas, bounds, p, Button, Shift, AViewInfo, AIsMouseEvent);
}

void TvlCustomEditViewData::Calculate(TvlCanvas* ACanvas, const TRect& ABounds, const TPoint& P,
                                      TvlMouseButton Button, TShiftState Shift, TvlCustomEditViewInfo* AViewInfo,
                                      Boolean AIsMouseEvent) {
  Shift = MouseShift(Shift);
  Bounds = ABounds;
  const Integer oldBorderWidth = EditBorderWidth(AViewInfo->BorderStyle);
  TvlEditBorderStyle border = ebsNone;
  auto statePass = [&] {
    ContainerState = CalculateContainerState(ABounds, P, Button, Shift);
    AViewInfo->ContainerState = ContainerState;
    Selected = ContainerState.Contains(csActive) || ContainerState.Contains(csHotTrack);
    if (IsDesigning || FIsInplace || !FStyle->HotTrack())
      AViewInfo->HotState = chsNoHotTrack;
    else
      AViewInfo->HotState = Selected ? chsSelected : chsNormal;
    if (FEdit) FStyle = static_cast<TvlCustomEditStyle*>(FEdit->GetStyleForState(ContainerState));
    border = (FIsInplace || !NativeStyle) ? GetBorderStyle()
                                          : TvlEditBorderStyle(FStyle->BaseStyle()->BorderStyle());
  };
  statePass();
  if (!FIsInplace && !NativeStyle && EditBorderWidth(border) < oldBorderWidth) statePass();
  AViewInfo->BorderStyle = border;
  AViewInfo->TvlContainerViewInfo::BorderStyle = TvlContainerBorderStyle(border);
  AViewInfo->EditProperties = FProperties;

  ButtonsOnlyStyle = FIsInplace ? (FProperties->ButtonsViewStyle() != bvsNormal && ABounds.Right != kUnboundedExtent)
                                : FProperties->ButtonsViewStyle() == bvsButtonsOnly;

  AViewInfo->Painter = FStyle->LookAndFeel()->SkinPainter();
  AViewInfo->Bounds = ABounds;
  AViewInfo->Enabled = Enabled;
  AViewInfo->Focused = Focused;
  AViewInfo->HasBackground = FEdit && FEdit->ErasesBackground();
  AViewInfo->HasInnerEdit = InnerEdit && InnerEdit->GetControl()->Visible();
  AViewInfo->IsDBEditPaintCopyDrawing = FEdit && FEdit->PaintsStoredValue();
  AViewInfo->IsContainerInnerControl = FEdit && dynamic_cast<IvlContainerInnerControl*>(FEdit);
  AViewInfo->IsDesigning = IsDesigning;
  AViewInfo->IsInplace = FIsInplace;
  AViewInfo->IsSelected = IsSelected;
  AViewInfo->PaintOptions = GetPaintOptions();
  AViewInfo->Edges = FStyle->Edges();
  AViewInfo->Font = FStyle->DirectAccessMode() ? FStyle->Font() : FStyle->GetVisibleFont();
  AViewInfo->Shadow = !FIsInplace && HasShadow();
  AViewInfo->WindowHandle = WindowHandle;
  AViewInfo->Edit = FEdit;

  // Borders and colours.
  AViewInfo->NativeStyle = NativeStyle;
  AViewInfo->NativeState = NativeStyle ? CalculateNativeState() : 0;
  AViewInfo->ThemedObjectType = totEdit;
  AViewInfo->BorderExtent = GetBorderExtent();
  AViewInfo->BorderRect = vlDeflateRectByBorders(ABounds, AViewInfo->BorderExtent);
  AViewInfo->BorderWidth = vlGetPaintedBorderWidth(TvlContainerBorderStyle(border), AViewInfo->Painter);
  AViewInfo->ShadowRect = AViewInfo->BorderRect;
  AViewInfo->HasContentOffsets = !vlIsRectZero(ContentOffset);
  if (!FIsInplace) AViewInfo->BorderColor = GetBorderColor();
  TColor background = clDefault, text = clDefault;
  AViewInfo->GetEditPainterColors(background, text);
  if (text == clDefault) text = FStyle->TextColor();
  if (FEdit && FEdit->DefaultParentColor())
    background = FStyle->Color();
  else if (background == clDefault) {
    if (NativeStyle && !Enabled && !FStyle->IsValueAssigned(svColor)) {
      COLORREF fill = 0;
      ::GetThemeColor(nbGetThemeHandle(totEdit), nbOSWindowsVistaOrLater ? EP_BACKGROUND : EP_EDITTEXT,
                      CalculateNativeState(), TMT_FILLCOLOR, &fill);
      background = TColor(fill);
    } else
      background = FStyle->Color();
  }
  AViewInfo->SetBackgroundColor(background);
  AViewInfo->TextColor = text;

  CalculateButtonsViewInfo(ACanvas, ABounds, P, Button, Shift, AViewInfo, AIsMouseEvent);
  AViewInfo->ClientRect = vlDeflateRectByBorders(ABounds, GetClientExtent(ACanvas, AViewInfo));
  AViewInfo->InnerEditRect = InnerEdit ? InnerEdit->GetControl()->BoundsRect() : AViewInfo->ClientRect;

  TvlEditPopupBorderStyle popup = FStyle->PopupBorderStyle();
  if (popup == epbsDefault && FEdit) {
    if (FIsInplace)
      popup = PopupBorderOfKind(FStyle->LookAndFeel()->Kind());
    else if (border != ebsNone || AViewInfo->ButtonCount() == 0)
      popup = PopupBorderOfBorderStyle(border);
    else
      popup = PopupBorderOfKind(KindOfButtonStyle(AViewInfo->ButtonsInfo[0]->Data.Style));
  }
  AViewInfo->PopupBorderStyle = popup;
  AViewInfo->Calculated = true;
}

// --- Buttons -----------------------------------------------------------------------------------------------------

void TvlCustomEditViewData::CalculateButtonsViewInfo(TvlCanvas* ACanvas, const TRect& ABounds, const TPoint& P,
                                                     TvlMouseButton Button, TShiftState Shift,
                                                     TvlCustomEditViewInfo* AViewInfo, Boolean AIsMouseEvent) {
  const Boolean active = ContainerState.Contains(csActive);
  const Boolean hot = ContainerState.Contains(csHotTrack);
  const TvlEditButtonTransparency transparency = FStyle->ButtonTransparency();
  const Integer prevPressed = AIsMouseEvent ? AViewInfo->PressedButton : -1;
  AViewInfo->IsButtonReallyPressed = false;
  AViewInfo->PressedButton = -1;
  AViewInfo->SelectedButton = -1;
  FLeftSideLeftmostButtonIndex = FLeftSideRightmostButtonIndex = -1;
  FRightSideLeftmostButtonIndex = FRightSideRightmostButtonIndex = -1;
  AViewInfo->HasTextButtons = false;
  if (ButtonVisibleCount == 0 || (!active && transparency == ebtHideInactive) ||
      (!active && !hot && transparency == ebtHideUnselected)) {
    AViewInfo->SetButtonCount(0);
    return;
  }
  AViewInfo->SetButtonCount(ButtonVisibleCount);

  TvlEditButtons* buttons = FProperties->Buttons();
  TRect rect = vlDeflateRectByBorders(ABounds, GetButtonsExtent(ACanvas));
  if (!FIsInplace && NativeStyle && nbOSWindowsVistaOrLater && buttons->Count() > 0 &&
      ButtonVisibleCount == 1 && buttons->Items(0)->Kind() == bkDown)
    rect = ABounds;
  const Integer prevWidth = rect.Width();
  const TvlEditButtonStyle style = GetButtonsStyle();
  Integer vi = ButtonVisibleCount - 1;
  for (Integer i = buttons->Count() - 1; i >= 0; --i) {
    TvlEditButton* b = buttons->Items(i);
    if (!b->Visible()) continue;
    if (b->Kind() == bkText && !AViewInfo->HasTextButtons) {
      ACanvas->SetFont(FStyle->GetVisibleFont());
      AViewInfo->PrepareCanvasFont(ACanvas);
      AViewInfo->HasTextButtons = true;
    }
    TvlEditButtonViewInfo* info = AViewInfo->ButtonsInfo[size_t(vi)];
    info->Index = i;
    info->Data.Style = style;
    CalculateButtonViewInfo(ACanvas, AViewInfo, rect, vi);
    --vi;
  }
  CheckButtonsOnly(AViewInfo, prevWidth, std::max(0, rect.Width()));
  CalculateButtonStates(P, Button, Shift, AViewInfo, prevPressed);
  for (Integer i = 0; i < AViewInfo->ButtonCount(); ++i) {
    TvlEditButtonViewInfo* info = AViewInfo->ButtonsInfo[size_t(i)];
    if (Assigned(AViewInfo->OnGetButtonState)) AViewInfo->OnGetButtonState(AViewInfo, i, info->Data.State);
    CalculateNativeButtonPart(info);
  }
  // Edge marks, in placing order (from the last visible button to the first).
  Boolean anyLeft = false, anyRight = false;
  for (TvlEditButtonViewInfo* b : AViewInfo->ButtonsInfo) (b->Data.LeftAlignment ? anyLeft : anyRight) = true;
  TvlEditButtonViewInfo* firstLeft = nullptr;
  TvlEditButtonViewInfo* lastLeft = nullptr;
  TvlEditButtonViewInfo* firstRight = nullptr;
  TvlEditButtonViewInfo* lastRight = nullptr;
  for (Integer i = AViewInfo->ButtonCount() - 1; i >= 0; --i) {
    TvlEditButtonViewInfo* b = AViewInfo->ButtonsInfo[size_t(i)];
    if (b->Data.LeftAlignment) {
      if (!firstLeft) firstLeft = b;
      lastLeft = b;
    } else {
      if (!firstRight) firstRight = b;
      lastRight = b;
    }
  }
  if (firstLeft) firstLeft->Data.Leftmost = true;
  if (lastLeft && !(ButtonsOnlyStyle && anyRight)) lastLeft->Data.Rightmost = true;
  if (lastRight && !(ButtonsOnlyStyle && anyLeft)) lastRight->Data.Leftmost = true;
  if (firstRight) firstRight->Data.Rightmost = true;
  if (ButtonsOnlyStyle)
    for (TvlEditButtonViewInfo* b : AViewInfo->ButtonsInfo) b->Data.LeftAlignment = false;
}

void TvlCustomEditViewData::CalculateButtonStates(const TPoint& P, TvlMouseButton Button, TShiftState Shift,
                                                  TvlCustomEditViewInfo* AViewInfo, Integer APrevPressed) {
  const Boolean leftHeld = Shift.Contains(ssLeft);
  const Boolean leftEvent = Button == vlmbLeft;
  for (Integer i = 0; i < AViewInfo->ButtonCount(); ++i) {
    TvlEditButtonViewInfo* info = AViewInfo->ButtonsInfo[size_t(i)];
    TvlEditButtonState& state = info->Data.State;
    const TvlEditButtonState old = state;
    if (!Enabled || !FProperties->Buttons()->Items(info->Index)->Enabled()) {
      state = ebsDisabled;
      continue;
    }
    const Boolean pressedByData = ButtonIsPressed(AViewInfo, i);
    if (pressedByData || (!IsDesigning && vlPointInRect(info->VisibleBounds, P))) {
      const Boolean captured = Button == vlmbNone && leftHeld && old == ebsNormal && CaptureButtonVisibleIndex() == i;
      const Boolean clicked = leftEvent && IsLeftOnly(Shift);
      const Boolean held = old == ebsPressed && leftHeld;
      if (pressedByData || clicked || held || captured) AViewInfo->IsButtonReallyPressed = true;
      if (!pressedByData && Shift.Empty() && !captured) {
        state = ebsSelected;
        AViewInfo->SelectedButton = i;
      } else if (pressedByData || (captured && ButtonMayBePressed(AViewInfo, i)) ||
                 (IsLeftOnly(Shift) && ((leftEvent && ButtonMayBePressed(AViewInfo, i)) || APrevPressed == i)) ||
                 held) {
        state = ebsPressed;
        AViewInfo->PressedButton = i;
      } else
        state = ebsNormal;
    } else
      state = ebsNormal;
  }
}

void TvlCustomEditViewData::CalculateButtonViewInfo(TvlCanvas* ACanvas, TvlCustomEditViewInfo* AViewInfo,
                                                    TRect& AButtonsRect, Integer AIndex) {
  TvlEditButtonViewInfo* info = AViewInfo->ButtonsInfo[size_t(AIndex)];
  TvlEditButton* b = FProperties->Buttons()->Items(info->Index);
  TvlEditButtonViewInfoData& d = info->Data;
  d.ComboBoxStyle = ButtonVisibleCount == 1 && b->Kind() == bkDown;
  d.Kind = b->Kind();
  if (d.Kind == bkText) {
    d.Caption = b->Caption();
    d.TextColor = AViewInfo->Painter ? AViewInfo->Painter->EditButtonTextColor() : b->TextColor();
    d.VisibleCaption = b->VisibleCaption();
  }
  d.ContentAlignment = b->ContentAlignment();
  d.Default = b->Default();
  info->Glyph = b->GlyphOrNil();
  info->HasBackground = AViewInfo->HasBackground;
  d.Gradient = FStyle->GradientButtons();
  d.Hint = b->Hint();
  d.IsInplace = FIsInplace;
  d.LeftAlignment = b->LeftAlignment();
  d.Leftmost = d.Rightmost = false;
  d.NativeStyle = AViewInfo->NativeStyle;
  info->Stretchable = b->Stretchable();
  info->Width = b->Width();
  if (info->Width == 0) {
    Integer w = 0;
    if (Assigned(FOnGetDefaultButtonWidth)) FOnGetDefaultButtonWidth(this, info->Index, w);
    info->Width = w;
  }
  const TvlEditButtonTransparency transparency = FStyle->ButtonTransparency();
  d.Transparent = transparency == ebtAlways || (transparency == ebtInactive && !Selected);
  d.BackgroundColor = AViewInfo->BackgroundColor();
  CalculateButtonBounds(ACanvas, AViewInfo, AIndex, AButtonsRect);
}

void TvlCustomEditViewData::CalculateButtonBounds(TvlCanvas* ACanvas, TvlCustomEditViewInfo* AViewInfo,
                                                  Integer AIndex, TRect& AButtonsRect) {
  TvlEditButtonViewInfo* info = AViewInfo->ButtonsInfo[size_t(AIndex)];
  if (vlIsRectEmpty(AButtonsRect)) {
    info->Bounds = TRect{};
    info->VisibleBounds = TRect{};
    return;
  }
  const Integer w = vlCalculateEditButtonWidth(ACanvas, info);
  const Integer v = std::min(w, AButtonsRect.Width());
  if (info->Data.LeftAlignment) {
    info->Bounds = TRect{AButtonsRect.Left, AButtonsRect.Top, AButtonsRect.Left + w, AButtonsRect.Bottom};
    info->VisibleBounds = TRect{AButtonsRect.Left, AButtonsRect.Top, AButtonsRect.Left + v, AButtonsRect.Bottom};
    AButtonsRect.Left += v;
    if (FLeftSideLeftmostButtonIndex < 0) FLeftSideLeftmostButtonIndex = AIndex;
    FLeftSideRightmostButtonIndex = AIndex;
  } else {
    info->Bounds = TRect{AButtonsRect.Right - w, AButtonsRect.Top, AButtonsRect.Right, AButtonsRect.Bottom};
    info->VisibleBounds = TRect{AButtonsRect.Right - v, AButtonsRect.Top, AButtonsRect.Right, AButtonsRect.Bottom};
    AButtonsRect.Right -= v;
    if (FRightSideRightmostButtonIndex < 0) FRightSideRightmostButtonIndex = AIndex;
    FRightSideLeftmostButtonIndex = AIndex;
  }
}

void TvlCustomEditViewData::CheckButtonsOnly(TvlCustomEditViewInfo* AViewInfo, Integer APrevButtonsWidth,
                                             Integer AButtonsWidth) {
  if (!ButtonsOnlyStyle || AButtonsWidth <= 0) return;
  const Integer count = AViewInfo->ButtonCount();
  std::vector<Boolean> candidate(size_t(count), false);
  Integer total = 0;
  Boolean any = false;
  for (Integer i = 0; i < count; ++i) {
    TvlEditButtonViewInfo* b = AViewInfo->ButtonsInfo[size_t(i)];
    if (b->Stretchable && !IgnoreButtonWhileStretching(i)) {
      candidate[size_t(i)] = true;
      total += b->Bounds.Width();
      any = true;
    }
  }
  if (!any) {
    std::fill(candidate.begin(), candidate.end(), true);
    total = APrevButtonsWidth - AButtonsWidth;
  }
  if (total <= 0) return;
  // From the last button to the first; the first candidate in order, handled last, gets the rest.
  Integer rest = AButtonsWidth;
  Integer firstInOrder = 0;
  while (!candidate[size_t(firstInOrder)]) ++firstInOrder;
  for (Integer i = count - 1; i >= 0; --i) {
    if (!candidate[size_t(i)]) continue;
    TvlEditButtonViewInfo* b = AViewInfo->ButtonsInfo[size_t(i)];
    const Integer extra = (i == firstInOrder) ? rest : b->Bounds.Width() * AButtonsWidth / total;
    rest -= extra;
    if (b->Data.LeftAlignment) {
      const Integer oldRight = b->Bounds.Right;
      b->Bounds.Right += extra;
      b->VisibleBounds.Right += extra;
      for (TvlEditButtonViewInfo* o : AViewInfo->ButtonsInfo)
        if (o != b && o->Data.LeftAlignment && o->Bounds.Left >= oldRight) {
          o->Bounds = vlOffsetRect(o->Bounds, extra, 0);
          o->VisibleBounds = vlOffsetRect(o->VisibleBounds, extra, 0);
        }
    } else {
      const Integer oldLeft = b->Bounds.Left;
      b->Bounds.Left -= extra;
      b->VisibleBounds.Left -= extra;
      for (TvlEditButtonViewInfo* o : AViewInfo->ButtonsInfo)
        if (o != b && !o->Data.LeftAlignment && o->Bounds.Right <= oldLeft) {
          o->Bounds = vlOffsetRect(o->Bounds, -extra, 0);
          o->VisibleBounds = vlOffsetRect(o->VisibleBounds, -extra, 0);
        }
    }
  }
}

void TvlCustomEditViewData::CalculateNativeButtonPart(TvlEditButtonViewInfo* AButtonViewInfo) {
  TvlEditButtonViewInfoData& d = AButtonViewInfo->Data;
  d.NativePart = 0;
  d.NativeState = 0;
  d.BackgroundPartiallyTransparent = false;
  if (!d.NativeStyle) return;
  const TnbThemedObjectType type = d.ComboBoxStyle ? totComboBox : totButton;
  HTHEME theme = nbGetThemeHandle(type);
  if (!theme) return;
  d.NativePart = d.ComboBoxStyle ? CP_DROPDOWNBUTTON : BP_PUSHBUTTON;
  if (!FIsInplace && d.ComboBoxStyle && nbOSWindowsVistaOrLater)
    d.NativePart = d.LeftAlignment ? CP_DROPDOWNBUTTONLEFT : CP_DROPDOWNBUTTONRIGHT;
  d.BackgroundPartiallyTransparent = ::IsThemeBackgroundPartiallyTransparent(theme, d.NativePart, PBS_NORMAL);
  switch (d.State) {
    case ebsDisabled: d.NativeState = PBS_DISABLED; break;
    case ebsPressed: d.NativeState = PBS_PRESSED; break;
    case ebsSelected: d.NativeState = PBS_HOT; break;
    default: d.NativeState = PBS_NORMAL; break;
  }
}

// --- Measuring ----------------------------------------------------------------------------------------------------

void TvlCustomEditViewData::CalculateButtonsMinSize(TvlCanvas* ACanvas, Boolean AIsInplace, TSize& AConstantSize,
                                                    TvlCustomEditViewInfo* AViewInfo, TSize& AMinContentSize,
                                                    const TvlEditSizeProperties&) {
  AConstantSize = TSize{AViewInfo->Bounds.Width() - AViewInfo->ClientRect.Width(),
                        AViewInfo->Bounds.Height() - AViewInfo->ClientRect.Height()};
  AMinContentSize = TSize{};
  Integer h = 0;
  Boolean fontReady = false;
  TvlEditButtons* buttons = FProperties->Buttons();
  for (Integer i = 0; i < buttons->Count(); ++i) {
    TvlEditButton* b = buttons->Items(i);
    if (!b->Visible()) continue;
    if (b->Kind() == bkGlyph && vlIsGlyphValid(b->GlyphOrNil())) h = std::max(h, b->GlyphOrNil()->Height());
    if (AIsInplace && b->Kind() == bkText) {
      if (!fontReady) {
        ACanvas->SetFont(FStyle->GetVisibleFont());
        AViewInfo->PrepareCanvasFont(ACanvas);
        fontReady = true;
      }
      h = std::max(h, ACanvas->TextHeight(b->VisibleCaption()));
    }
  }
  if (h <= 0) return;
  if (!AViewInfo->Painter) {
    const TRect e = GetButtonsExtent(ACanvas);
    h += e.Top + e.Bottom;
  }
  h += vlGetButtonContentVerticalIndent(ACanvas, GetButtonsStyle(), NativeStyle);
  AMinContentSize.cy = std::max(0, h - AConstantSize.cy);
}

TSize TvlCustomEditViewData::GetEditContentSizeCorrection() {
  const TvlEditContentParams& p = EditContentParams;
  return TSize{p.Offsets.Left + p.Offsets.Right + p.SizeCorrection.cx,
               p.Offsets.Top + p.Offsets.Bottom + p.SizeCorrection.cy};
}

void TvlCustomEditViewData::GetEditConstantPartSize(TvlCanvas* ACanvas,
                                                    const TvlEditSizeProperties& AEditSizeProperties, TSize& ASize,
                                                    TSize& AMinContentSize, TvlCustomEditViewInfo* AViewInfo) {
  TvlCustomEditViewInfo* temp = nullptr;
  if (!AViewInfo) {
    temp = CreateFrom(FProperties->GetViewInfoClass());
    AViewInfo = temp;
  }
  struct TFreeTemp {
    TvlCustomEditViewInfo*& P;
    ~TFreeTemp() { Free(P); }
  } freeTemp{temp};
  if (temp)
    Calculate(ACanvas, TRect{0, 0, kUnboundedExtent, kUnboundedExtent}, TPoint{-1, -1}, vlmbNone, TShiftState{},
              AViewInfo, false);
  ASize = TSize{AViewInfo->Bounds.Width() - AViewInfo->ClientRect.Width(),
                AViewInfo->Bounds.Height() - AViewInfo->ClientRect.Height()};
  CalculateButtonsMinSize(ACanvas, FIsInplace, ASize, AViewInfo, AMinContentSize, AEditSizeProperties);
}

TSize TvlCustomEditViewData::GetEditContentSize(TvlCanvas* ACanvas, const Variant& AEditValue,
                                                const TvlEditSizeProperties& AEditSizeProperties) {
  if (FProperties->ButtonsViewStyle() != bvsNormal) {
    ACanvas->SetFont(FStyle->GetVisibleFont());
    return TSize{0, GetEditContentSizeCorrection().cy + ACanvas->TextHeight(u"Zg")};
  }
  return ContentSizeOfValue(ACanvas, AEditValue, AEditSizeProperties);
}

TSize TvlCustomEditViewData::GetEditSize(TvlCanvas* ACanvas, const Variant& AEditValue,
                                         const TvlEditSizeProperties& AEditSizeProperties,
                                         TvlCustomEditViewInfo* AViewInfo) {
  TSize constant{}, minContent{};
  GetEditConstantPartSize(ACanvas, AEditSizeProperties, constant, minContent, AViewInfo);
  TvlEditSizeProperties props = AEditSizeProperties;
  Boolean fixedWidth = false;
  if (props.Width >= 0) {
    props.Width -= constant.cx;
    if (props.Width < 0) {
      props.Width = 0;
      fixedWidth = true;
    }
  }
  TSize content = GetEditContentSize(ACanvas, AEditValue, props);
  content.cx = std::max(content.cx, minContent.cx);
  content.cy = std::max(content.cy, minContent.cy);
  TSize r{constant.cx + content.cx, constant.cy + content.cy};
  if (fixedWidth) r.cx = AEditSizeProperties.Width;
  if (!FIsInplace) CheckSizeConstraints(r);
  return r;
}

void TvlCustomEditViewData::CheckSizeConstraints(TSize& AEditSize) {
  if (!FEdit) return;
  TSizeConstraints* c = FEdit->Constraints();
  if (c->MaxHeight() > 0 && AEditSize.cy > c->MaxHeight()) AEditSize.cy = c->MaxHeight();
  if (c->MinHeight() > 0 && AEditSize.cy < c->MinHeight()) AEditSize.cy = c->MinHeight();
  if (c->MaxWidth() > 0 && AEditSize.cx > c->MaxWidth()) AEditSize.cx = c->MaxWidth();
  if (c->MinWidth() > 0 && AEditSize.cx < c->MinWidth()) AEditSize.cx = c->MinWidth();
}

String TvlCustomEditViewData::EditValueToDisplayText(const Variant& AEditValue) {
  String text;
  DisplayTextOfValue(AEditValue, text);
  if (Assigned(FOnGetDisplayText)) FOnGetDisplayText(this, text);
  return text;
}
