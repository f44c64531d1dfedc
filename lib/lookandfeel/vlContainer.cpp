#include "lib/lookandfeel/vlContainer.h"

#include <algorithm>

#include "lib/foundation/nbUxTheme.h"
#include "lib/foundation/vlGeometry.h"
#include "lib/lookandfeel/nbOffice11.h"
#include "lib/lookandfeel/nbThemeManager.h"
#include "lib/lookandfeel/vlDWMApi.h"
#include "lib/lookandfeel/vlWindowUtils.h"
#include "platform/classes/TypInfoBuild.h"
#include "platform/classes/WeakRef.h"
#include "platform/rtl/Finally.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/Graphics.h"
#include "platform/win/Gdi.h"
#include "platform/win/Modules.h"
#include "platform/win/Windows.h"

using namespace win;

namespace {

// Native style is on and a theme opens for the object type.
Boolean UseThemedPainting(Boolean ANativeStyle, TnbThemedObjectType AType) {
  return ANativeStyle && nbIsThemeAvailable(AType);
}

}  // namespace

// --- View info ----------------------------------------------------------------------------------

CL_IMPLEMENT_CLASS(TvlContainerViewInfo)

void TvlContainerViewInfo::Create() {
  inherited::Create();
  ContainerState = TvlContainerState{csNormal};
}

void TvlContainerViewInfo::Assign(TObject* Source) {
  if (TvlContainerViewInfo* v = dynamic_cast<TvlContainerViewInfo*>(Source)) ClientRect = v->ClientRect;
}

TvlRegion* TvlContainerViewInfo::GetUpdateRegion() { return New<TvlRegion>(); }

void TvlContainerViewInfo::Offset(Integer DX, Integer DY) {
  BorderRect = vlOffsetRect(BorderRect, DX, DY);
  Bounds = vlOffsetRect(Bounds, DX, DY);
  ClientRect = vlOffsetRect(ClientRect, DX, DY);
}

void TvlContainerViewInfo::DrawBorder(TvlCanvas* ACanvas, const TRect& R) {
  if (Painter || BorderStyle == cbsSingle || BorderStyle == cbsThick) {
    ACanvas->FrameRect(R, BorderColor, BorderWidth);
    return;
  }
  switch (BorderStyle) {
    case cbsFlat:
      ACanvas->DrawEdge(R, true, true, Edges);
      ACanvas->FrameRect(vlInflateRectBy(R, -1, -1), clBtnFace);
      break;
    case cbs3D:
      ACanvas->DrawEdge(R, true, true, Edges);
      ACanvas->DrawComplexFrame(vlInflateRectBy(R, -1, -1), cl3DDkShadow, cl3DLight, Edges);
      break;
    default:
      break;
  }
}

void TvlContainerViewInfo::DoPaint(TvlCanvas* ACanvas) {
  if (NativeStyle) {
    if (BorderStyle == cbsNone) {
      ACanvas->FillRect(Bounds, FBackgroundColor);
      return;
    }
    HTHEME theme = nbGetThemeHandle(ThemedObjectType);
    RECT content = Bounds;
    ::GetThemeBackgroundContentRect(theme, ACanvas->Handle(), 1, NativeState, &Bounds, &content);
    ACanvas->FillRect(content, FBackgroundColor);
    COLORREF border = 0;
    const Boolean glass = nbIsCompositionEnabled();
    ::GetThemeColor(nbGetThemeHandle(glass ? totListBox : totComboBox), glass ? LBCP_BORDER_NOSCROLL : CP_DROPDOWNBUTTON,
                    CBXS_NORMAL, TMT_BORDERCOLOR, &border);
    vlFillRectExcept(ACanvas, Bounds, content, TColor(border));
    return;
  }
  TRect r = BorderRect;
  r.Left -= BorderWidth;
  r.Top -= BorderWidth;
  if (Edges.Contains(bRight)) r.Right += BorderWidth;
  if (Edges.Contains(bBottom)) r.Bottom += BorderWidth;
  if (Shadow) vlDrawShadow(ACanvas, r);
  if (!Edges.Contains(bRight)) r.Right += BorderWidth;
  if (!Edges.Contains(bBottom)) r.Bottom += BorderWidth;
  DrawBorder(ACanvas, r);
  ACanvas->FillRect(BorderRect, FBackgroundColor);
}

void vlDrawShadow(TvlCanvas* ACanvas, const TRect& R) {
  const TRect bottom{R.Left + 3, R.Bottom, R.Right, R.Bottom + 3};
  const TRect right{R.Right, R.Top + 3, R.Right + 3, R.Bottom + 3};
  ACanvas->FillRect(bottom, clBtnShadow);
  ACanvas->FillRect(right, clBtnShadow);
  ACanvas->ExcludeClipRect(bottom);
  ACanvas->ExcludeClipRect(right);
}

HRGN vlCreateShadowRegion(HWND, const TRect& AShadowBounds, const TRect& AShadowBoundsExtent, const TRect& AExcludeRect,
                          Boolean AShadow, Boolean AThemedBorder) {
  if (!AShadow || AThemedBorder) return nullptr;
  HRGN region = CreateRectRgnIndirect(&AShadowBounds);
  TRect moved = vlOffsetRect(AShadowBounds, 3, 3);
  moved.Left += AShadowBoundsExtent.Left;
  moved.Top += AShadowBoundsExtent.Top;
  moved.Right -= AShadowBoundsExtent.Right;
  moved.Bottom -= AShadowBoundsExtent.Bottom;
  HRGN shadow = CreateRectRgnIndirect(&moved);
  CombineRgn(region, region, shadow, RGN_OR);
  DeleteObject(shadow);
  if (!vlIsRectEmpty(AExcludeRect)) {
    HRGN cut = CreateRectRgnIndirect(&AExcludeRect);
    CombineRgn(region, region, cut, RGN_DIFF);
    DeleteObject(cut);
  }
  return region;
}

void vlSetRegionToWindow(HWND AWnd, HRGN ARegion) {
  HRGN current = CreateRectRgn(0, 0, 0, 0);
  const Boolean hasRegion = GetWindowRgn(AWnd, current) != ERROR;
  const Boolean differs = ARegion ? !hasRegion || !EqualRgn(current, ARegion) : hasRegion;
  DeleteObject(current);
  if (differs)
    SetWindowRgn(AWnd, ARegion, TRUE);  // the window owns the region now
  else if (ARegion)
    DeleteObject(ARegion);
}

// --- Free routines -------------------------------------------------------------------------------

TvlContainer* vlGetContainerOfControl(TControl* AControl) {
  if (TvlContainer* c = dynamic_cast<TvlContainer*>(AControl)) return c;
  if (IvlContainerInnerControl* i = dynamic_cast<IvlContainerInnerControl*>(AControl)) return i->GetOwnerContainer();
  return nullptr;
}

TvlMouseButton vlConvertMouseButton(TMouseButton AButton) {
  switch (AButton) {
    case mbLeft: return vlmbLeft;
    case mbRight: return vlmbRight;
    case mbMiddle: return vlmbMiddle;
    default: return vlmbNone;
  }
}

Boolean vlUseOwnScrollBars() {
  HMODULE user32 = FindLoadedModule(u"user32");
  return user32 && GetProcAddress(user32, "GetScrollBarInfo") != nullptr;
}

TRect vlGetContainerSizeGripRect(TvlContainer* AContainer) {
  TvlScrollBar* h = AContainer->HScrollBar();
  TvlScrollBar* v = AContainer->VScrollBar();
  TWinControl* inner = AContainer->InnerControl();
  if (!h || !v || !inner || !h->Visible() || !v->Visible()) return TRect{};
  TRect r{v->Left(), h->Top(), v->Left() + v->Width(), h->Top() + h->Height()};
  // From the container's client coordinates to the inner control's window.
  RECT window{};
  GetWindowRect(inner->Handle(), &window);
  const TPoint origin = AContainer->ScreenToClient(TPoint{window.left, window.top});
  return vlOffsetRect(r, -origin.X, -origin.Y);
}

TRect vlGetSizeGripRectOfInner(TWinControl* AInnerControl) {
  IvlContainerInnerControl* i = dynamic_cast<IvlContainerInnerControl*>(AInnerControl);
  TvlContainer* c = i ? i->GetOwnerContainer() : nullptr;
  return c ? vlGetContainerSizeGripRect(c) : TRect{};
}

void vlFillSizeGripArea(TvlContainer* AContainer, const TRect& R) {
  TWinControl* inner = AContainer->InnerControl();
  if (!inner || !inner->HandleAllocated()) return;
  HDC dc = GetWindowDC(inner->Handle());
  HBRUSH brush = CreateSolidBrush(ColorToRGB(AContainer->CurrentPainter()->DefaultSizeGripAreaColor()));
  FillRect(dc, &R, brush);
  DeleteObject(brush);
  ReleaseDC(inner->Handle(), dc);
}

// --- TvlContainer: life ---------------------------------------------------------------------------

CL_IMPLEMENT_CLASS_PUBLISHED(TvlContainer, P) {
  P.Property(u"FakeStyleController", &TvlContainer::FakeStyleController, &TvlContainer::SetFakeStyleController);
}

void TvlContainer::Create(TComponent* AOwner) {
  inherited::Create(AOwner);
  FIsCreating = true;
  Finally created([&] { FIsCreating = false; });
  FSizeGripData.Visible = false;
  FStyles = CreateFrom(GetStylesClass(), static_cast<TPersistent*>(this), GetStyleClass());
  FStyles->SetOnChanged(TNotifyEvent(this, &TvlContainer::StyleChanged));
  FActiveStyleData = TvlContainerActiveStyleData{TvlContainerState{csNormal}, Style()};
  FViewInfo = CreateFrom(GetViewInfoClass());
  LookAndFeel()->SetMasterLookAndFeel(Style()->LookAndFeel());
  TControlStyle style = ControlStyle();
  style.Include(csCaptureMouse);
  style.Include(csSetCaption);
  SetControlStyle(style);
  SetTabStop(true);
  SetParentColor(DefaultParentColor() && !IsInplace() && !Style()->IsValueAssigned(svColor));
  if (!ParentColor()) {
    FInternalSetting = true;
    SetColor(clWindow);
    FInternalSetting = false;
  }
  ClearSavedChildControlRegions();
}

void TvlContainer::Destroy() {
  vlStopMouseTracking(this);
  FreeAndNil(FViewInfo);
  if (FStyles) FStyles->SetOnChanged(TNotifyEvent());
  FreeAndNil(FStyles);
  inherited::Destroy();
}

void TvlContainer::Loaded() {
  inherited::Loaded();
  UpdateInnerControlBounds();
  StyleChanged(Style());
}

void TvlContainer::SetInnerControl(TWinControl* Value) {
  if (FInnerControl == Value) return;
  if (FInnerControl) FInnerControl->RemoveFreeNotification(this);
  FInnerControl = Value;
  if (FInnerControl) FInnerControl->FreeNotification(this);
}

void TvlContainer::Notification(TComponent* AComponent, TOperation Operation) {
  inherited::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FInnerControl) FInnerControl = nullptr;
}

// --- Refresh pipeline --------------------------------------------------------------------------

Boolean TvlContainer::CanRefreshContainer() {
  return FRefreshLockCount == 0 && !FIsCreating && !IsDestroying() &&
         !ControlState().Contains(csDestroyingHandle) && HandleAllocated();
}

void TvlContainer::ShortRefreshContainer(Boolean AIsMouseEvent) {
  TPoint p{-1, -1};
  if (HandleAllocated()) {
    TPoint cursor{};
    GetCursorPos(&cursor);
    const HWND under = WindowFromPoint(cursor);
    if (under && vlIsSelfOrChildWindow(WindowHandle(), under)) p = ScreenToClient(cursor);
  }
  RefreshContainer(p, vlmbNone, vlGetShiftStateNow(), AIsMouseEvent);
}

void TvlContainer::RefreshContainer(const TPoint& P, TvlMouseButton Button, TShiftState Shift, Boolean AIsMouseEvent) {
  FHasChanges = true;
  Boolean ran = false;
  if (CanRefreshContainer()) {
    ++FRefreshLockCount;
    Finally unlock([&] { --FRefreshLockCount; });
    FHasChanges = false;
    ran = DoRefreshContainer(P, Button, Shift, AIsMouseEvent);
  }
  if (AIsMouseEvent && CanRefreshContainer() && !FInStateTransitions) {
    // A transition clicks (a button's click handler may free the container).
    TWeakRef<TvlContainer> self(this);
    FInStateTransitions = true;
    Finally done([&] {
      if (self) FInStateTransitions = false;
    });
    ProcessStateTransitions();
    if (!self) return;
  }
  FIsViewInfoCalculated = ran && !FHasChanges;
}

Boolean TvlContainer::DoRefreshContainer(const TPoint& P, TvlMouseButton, TShiftState Shift, Boolean) {
  ComputeViewInfo(P, Shift.Empty() && GetActiveStyle()->HotTrack());
  UpdateInnerControlBounds();
  SyncInnerControlStyle();
  UpdateWindowRegion();
  const TRect local{0, 0, Width(), Height()};
  if (FInnerControl)
    vlInvalidateRectExcept(WindowHandle(), local, FViewInfo->BorderRect, false);
  else
    win::InvalidateRect(WindowHandle(), &local, FALSE);
  if (FViewInfo->ContainerState.Contains(csHotTrack)) vlStartMouseTracking(this, FViewInfo->Bounds, this);
  return true;
}

void TvlContainer::ComputeViewInfo(const TPoint& P, Boolean AHotTrack) {
  TvlContainerViewInfo* vi = FViewInfo;
  vi->NativeStyle = UsesNativeStyle();
  vi->Painter = Style()->LookAndFeel()->SkinPainter();
  const Integer oldWidth = vlGetBorderStyleWidth(vi->BorderStyle);
  auto stateAndBorder = [&] {
    if (!Enabled())
      vi->ContainerState = TvlContainerState{csDisabled};
    else if (IsDesignTime())
      vi->ContainerState = TvlContainerState{csNormal};
    else {
      vi->ContainerState = TvlContainerState{Focused() ? csActive : csNormal};
      if (AHotTrack && vlPointInRect(GetVisibleBounds(), P)) vi->ContainerState.Include(csHotTrack);
    }
    TvlContainerStyle* active = GetActiveStyle();
    if (!active->HotTrack())
      vi->HotState = chsNoHotTrack;
    else if (vi->ContainerState.Contains(csActive) || vi->ContainerState.Contains(csHotTrack))
      vi->HotState = chsSelected;
    else
      vi->HotState = chsNormal;
    TvlContainerBorderStyle border = vi->NativeStyle ? Style()->BorderStyle() : active->BorderStyle();
    if (border == cbsUltraFlat || border == cbsOffice11) border = cbsSingle;
    vi->BorderStyle = border;
  };
  stateAndBorder();
  if (!vi->NativeStyle && vlGetBorderStyleWidth(vi->BorderStyle) < oldWidth) stateAndBorder();
  if (vi->NativeStyle) {
    vi->ThemedObjectType = GetThemedObjectType();
    vi->NativePart = GetThemePartId();
    vi->NativeState = GetThemeStateId();
  }
  vi->Bounds = TRect{0, 0, Width(), Height()};
  TRect sizes;
  GetBorderSizes(sizes);
  vi->BorderRect = vlInflateRectSides(vi->Bounds, -sizes.Left, -sizes.Top, -sizes.Right, -sizes.Bottom);
  vi->ClientRect = vi->BorderRect;
  vi->BorderWidth = vlGetPaintedBorderWidth(vi->BorderStyle, vi->Painter);
  vi->Edges = GetActiveStyle()->Edges();
  vi->Shadow = IsShadowVisible();
  vi->BorderColor = GetBorderColor();
  vi->SetBackgroundColor(ReadBackgroundColor());
}

TvlContainerStyle* TvlContainer::GetStyleForState(const TvlContainerState& AState) {
  if (AState.Contains(csDisabled)) return StyleDisabled();
  if (AState.Contains(csActive)) return StyleFocused();
  if (Style()->HotTrack() && AState.Contains(csHotTrack)) return StyleHot();
  return Style();
}

TvlContainerStyle* TvlContainer::GetActiveStyle() {
  if (FActiveStyleData.ContainerState != FViewInfo->ContainerState || !FActiveStyleData.ActiveStyle) {
    FActiveStyleData.ContainerState = FViewInfo->ContainerState;
    FActiveStyleData.ActiveStyle = GetStyleForState(FViewInfo->ContainerState);
  }
  return FActiveStyleData.ActiveStyle;
}

Boolean TvlContainer::UsesNativeStyle() {
  return UseThemedPainting(Style()->LookAndFeel()->NativeStyle(), GetThemedObjectType());
}

Boolean TvlContainer::IsShadowVisible() { return GetActiveStyle()->Shadow() && !UsesNativeStyle(); }

void TvlContainer::GetBorderSizes(TRect& R) {
  TvlContainerStyle* active = GetActiveStyle();
  Integer w;
  if (active->TransparentBorder())
    R = TRect{2, 2, 2, 2};
  else if (!active->HasBorder() || (FViewInfo->NativeStyle && Style()->BorderStyle() == cbsNone))
    R = TRect{};
  else if (FViewInfo->NativeStyle)
    R = TRect{2, 2, 2, 2};
  else {
    w = vlGetBorderStyleWidth(FViewInfo->BorderStyle);
    const TvlBorders e = active->Edges();
    R = TRect{e.Contains(bLeft) ? w : 0, e.Contains(bTop) ? w : 0, e.Contains(bRight) ? w : 0,
              e.Contains(bBottom) ? w : 0};
  }
  if (IsShadowVisible()) {
    R.Right += 3;
    R.Bottom += 3;
  }
}

TRect TvlContainer::GetVisibleBounds() {
  TRect r{0, 0, Width(), Height()};
  if (!IsInplace()) {
    if (IsShadowVisible()) {
      r.Right -= 3;
      r.Bottom -= 3;
    }
    if (Style()->HasBorder()) {
      if (FViewInfo->NativeStyle) {
        if (Style()->TransparentBorder() && Style()->BorderStyle() == cbsNone) r = vlInflateRectBy(r, -2, -2);
      } else if (Style()->TransparentBorder()) {
        const Integer w = vlGetBorderStyleWidth(FViewInfo->BorderStyle);
        r = vlInflateRectBy(r, w - 2, w - 2);
        vlDeflateRectByMissingEdges(r, w, FViewInfo->Edges);
      }
    } else if (Style()->TransparentBorder()) {
      r = vlInflateRectBy(r, -2, -2);
    }
  }
  if (r.Bottom < r.Top) r = TRect{r.Left, 0, r.Right, 0};
  return r;
}

// --- Colours --------------------------------------------------------------------------------------

TvlEditStateColorKind TvlContainer::GetEditStateColorKind() {
  if (!Enabled()) return esckDisabled;
  return Focused() ? esckNormal : esckInactive;
}

void TvlContainer::GetPainterColors(TColor& ABackground, TColor& AText) {
  ABackground = AText = clDefault;
  TvlCustomLookAndFeelPainterClass painter = FViewInfo->Painter;
  if (!painter) return;
  TvlContainerStyle* active = GetActiveStyle();
  if (!Style()->IsValueAssigned(svTextColor) && !active->IsValueAssigned(svTextColor))
    AText = painter->DefaultEditorTextColorEx(GetEditStateColorKind());
  if (!ParentColor() && !Style()->IsValueAssigned(svColor) && !active->IsValueAssigned(svColor))
    ABackground = painter->DefaultEditorBackgroundColorEx(GetEditStateColorKind());
}

TColor TvlContainer::ReadBackgroundColor() {
  TColor background, text;
  GetPainterColors(background, text);
  if (background != clDefault) return background;
  TvlContainerStyle* active = GetActiveStyle();
  if (!Enabled() && FViewInfo->NativeStyle && !active->IsValueAssigned(svColor)) {
    COLORREF fill = 0;
    if (::GetThemeColor(nbGetThemeHandle(FViewInfo->ThemedObjectType), FViewInfo->NativePart,
                                FViewInfo->NativeState, TMT_FILLCOLOR, &fill) >= 0)
      return TColor(fill);
  }
  return active->Color();
}

TColor TvlContainer::GetBorderColor() {
  TvlContainerStyle* active = GetActiveStyle();
  const TvlContainerState& state = FViewInfo->ContainerState;
  const Boolean highlighted = state.Contains(csActive) || (state.Contains(csHotTrack) && active->HotTrack()) ||
                              (IsDesignTime() && Enabled());
  if (FViewInfo->Painter) return FViewInfo->Painter->GetContainerBorderColor(highlighted);
  const TvlContainerBorderStyle border = active->BorderStyle();
  if (border == cbsUltraFlat || border == cbsOffice11) {
    if (!highlighted) return clBtnShadow;
    return border == cbsOffice11 ? nbOffice11HighlightBorderColor : TColor(clHighlight);
  }
  return active->BorderColor();
}

TFont* TvlContainer::GetVisibleFont() {
  TFont* font = GetActiveStyle()->GetVisibleFont();
  TColor background, text;
  GetPainterColors(background, text);
  if (text != clDefault) font->SetColor(text);
  return font;
}

void TvlContainer::SyncInnerControlStyle() {
  if (!FInnerControl) return;
  FInnerControl->SetColor(FViewInfo->BackgroundColor());
  FInnerControl->SetFont(GetVisibleFont());
}

// --- Window region and shadow -----------------------------------------------------------------------

void TvlContainer::GetShadowRect(TRect& R) {
  TRect sizes;
  GetBorderSizes(sizes);
  R = vlInflateRectSides(FViewInfo->Bounds, -sizes.Left, -sizes.Top, -sizes.Right, -sizes.Bottom);
  const Integer w = FViewInfo->BorderWidth;
  R = vlInflateRectBy(R, w, w);
  vlDeflateRectByMissingEdges(R, w, GetActiveStyle()->Edges());
}

Boolean TvlContainer::NeedsShadowRegion() { return !(FViewInfo->NativeStyle && FViewInfo->BorderStyle != cbsNone); }

HRGN TvlContainer::CreateWindowRegion() {
  TRect shadow, offsets;
  GetShadowRect(shadow);
  GetShadowRectOffsets(offsets);
  HRGN region = vlCreateShadowRegion(WindowHandle(), shadow, offsets, TRect{}, FViewInfo->Shadow,
                                     FViewInfo->NativeStyle && FViewInfo->BorderStyle != cbsNone);
  if (NeedsShadowRegion()) {
    HRGN rect = CreateRectRgnIndirect(&shadow);
    if (region) {
      CombineRgn(region, region, rect, RGN_OR);
      DeleteObject(rect);
    } else {
      region = rect;
    }
  }
  return region;
}

void TvlContainer::UpdateWindowRegion() {
  if (HandleAllocated()) vlSetRegionToWindow(WindowHandle(), CreateWindowRegion());
}

void TvlContainer::ClipToShadowRegion(TvlCanvas* ACanvas) {
  TRect shadow, offsets;
  GetShadowRect(shadow);
  GetShadowRectOffsets(offsets);
  HRGN region = vlCreateShadowRegion(WindowHandle(), shadow, offsets, TRect{}, FViewInfo->Shadow, !NeedsShadowRegion());
  if (!region) return;
  ExtSelectClipRgn(ACanvas->Handle(), region, RGN_AND);
  DeleteObject(region);
}

// --- Painting ---------------------------------------------------------------------------------------

void TvlContainer::Paint() {
  if (!Canvas()->RectVisible(FViewInfo->Bounds) && FIsViewInfoCalculated) return;
  if (ControlState().Contains(csPaintCopy)) ClipToShadowRegion(Canvas());
  if (!FIsViewInfoCalculated) ShortRefreshContainer(false);
  FViewInfo->Paint(Canvas());
}

void TvlContainer::Update() {
  inherited::Update();
  if (FInnerControl) FInnerControl->Update();
}

void TvlContainer::Invalidate() {
  inherited::Invalidate();
  if (FInnerControl) FInnerControl->Invalidate();
}

// --- Inner control ------------------------------------------------------------------------------------

void TvlContainer::UpdateInnerControlBounds() {
  if (!FInnerControl) return;
  const TRect r = FViewInfo->ClientRect;
  if (vlRectsEqual(FInnerControl->BoundsRect(), r)) return;
  ++FRefreshLockCount;
  Finally unlock([&] { --FRefreshLockCount; });
  FInnerControl->SetBounds(r.Left, r.Top, r.Width(), r.Height());
}

void TvlContainer::AdjustClientRect(TRect& Rect) {
  if (!IsDestroying()) Rect = FViewInfo->ClientRect;
}

void TvlContainer::CalcInnerControlRegion(const TRect& AClientRect, TControl* AControl,
                                          TvlContainerInnerControlBounds& ABounds) {
  ABounds.IsEmpty = true;
  ABounds.Rect = TRect{};
  if (!AControl) return;
  const TRect b = AControl->BoundsRect();
  TRect r{0, 0, b.Width(), b.Height()};
  if (b.Left < AClientRect.Left) r.Left = AClientRect.Left - b.Left, ABounds.IsEmpty = false;
  if (b.Top < AClientRect.Top) r.Top = AClientRect.Top - b.Top, ABounds.IsEmpty = false;
  if (b.Right > AClientRect.Right) r.Right -= b.Right - AClientRect.Right, ABounds.IsEmpty = false;
  if (b.Bottom > AClientRect.Bottom) r.Bottom -= b.Bottom - AClientRect.Bottom, ABounds.IsEmpty = false;
  ABounds.Rect = r;
}

void TvlContainer::AlignControls(TControl* AControl, TRect& Rect) {
  if (IsChildControlContainer()) {
    inherited::AlignControls(AControl, Rect);
    return;
  }
  if (FLockAlignControlsCount > 0 || IsInternalControl(AControl)) return;
  if (!AControl) {
    inherited::AlignControls(AControl, Rect);
    return;
  }
  TWinControl* child = dynamic_cast<TWinControl*>(AControl);
  if (!child || !child->HandleAllocated() || FIsCreating) return;
  TvlContainerInnerControlBounds b;
  CalcInnerControlRegion(Rect, child, b);
  const Boolean same = child == FInnerControl &&
                       ((b.IsEmpty && FInnerControlBounds.IsEmpty) ||
                        (!b.IsEmpty && !FInnerControlBounds.IsEmpty && vlRectsEqual(b.Rect, FInnerControlBounds.Rect)));
  if (same) return;
  SetWindowRgn(child->Handle(), b.IsEmpty ? nullptr : CreateRectRgnIndirect(&b.Rect), TRUE);
  if (child == FInnerControl) FInnerControlBounds = b;
}

void TvlContainer::CallInnerControlWndProc(TMessage& Message) {
  if (FSaveInnerControlWndProc) FSaveInnerControlWndProc(Message);
}

Boolean TvlContainer::InnerControlDefaultHandler(TMessage& Message) {
  if (!FInnerControl || IsDestroying()) return false;
  return HandleInnerControlMessage(Message);
}

Boolean TvlContainer::InnerControlMenuHandler(TMessage& Message) {
  if (Message.Msg != CN_KEYDOWN && Message.Msg != CN_SYSKEYDOWN) return false;
  TWMKey key(Message);
  if (IsDesignTime() || !PopupMenu() || !vlIsPopupMenuShortCut(PopupMenu(), key)) return false;
  Message.Result = 1;
  return true;
}

Boolean TvlContainer::IsStylePropertyPublished(const String& APropertyName, Boolean AExtendedStyle) {
  if (AExtendedStyle && !Style()->IsExtendedStylePropertyPublished(APropertyName)) return false;
  TvlContainerStyleValue value;
  if (Style()->GetStyleValue(APropertyName, value) && GetUnpublishedStyleValues().Contains(Byte(value))) return false;
  return true;
}

void TvlContainer::LockAlignControls(Boolean ALock) {
  if (ALock)
    ++FLockAlignControlsCount;
  else if (FLockAlignControlsCount > 0)
    --FLockAlignControlsCount;
}

void TvlContainer::LockPopupMenu(Boolean ALock) {
  if (ALock)
    ++FPopupMenuLockCount;
  else if (FPopupMenuLockCount > 0)
    --FPopupMenuLockCount;
}

// --- Focus -------------------------------------------------------------------------------------------

Boolean TvlContainer::Focused() {
  if (IsDesignTime() || ControlState().Contains(csDestroyingHandle)) return false;
  const HWND focus = GetFocus();
  if (!focus) return false;
  return (HandleAllocated() && focus == WindowHandle()) ||
         (FInnerControl && FInnerControl->HandleAllocated() && focus == FInnerControl->WindowHandle());
}

void TvlContainer::SetFocus() {
  if (IsDesignTime() || IsContainerFocused()) return;
  inherited::SetFocus();
  // An inner control that cannot take the focus yet (disabled, hidden) gets
  // it later (WM_WINDOWPOSCHANGING); the form would raise.
  if (HandleAllocated() && GetFocus() == WindowHandle() && FInnerControl && FInnerControl->HandleAllocated() &&
      FInnerControl->CanFocus()) {
    FocusInnerControl();
    if (TCustomForm* form = GetParentForm(this)) form->FocusControl(FInnerControl);
  }
}

void TvlContainer::FocusInnerControl() {
  if (FInnerControl && FInnerControl->CanFocus()) FInnerControl->SetFocus();
}

Boolean TvlContainer::CanFocusOnClick() {
  return inherited::CanFocusOnClick() && !(FInnerControl && FInnerControl->Focused()) && !FInnerControlMouseDown;
}

Boolean TvlContainer::MayFocus() { return !(FInnerControl && FInnerControl->HandleAllocated() && FInnerControl->Focused()); }

void TvlContainer::KeyDown(Word& Key, TShiftState Shift) {
  inherited::KeyDown(Key, Shift);
  if (Key != VK_TAB || Shift.Contains(ssAlt) || Shift.Contains(ssCtrl) || !Focused() || !HandlesTabKey()) return;
  Key = 0;
  TCustomForm* form = GetParentForm(this);
  if (!form) return;
  form->SelectNext(form->ActiveControl(), !Shift.Contains(ssShift), true);
  if (HandleAllocated() && GetFocus() == WindowHandle()) FocusInnerControl();
}

void TvlContainer::GetTabOrderList(std::vector<TWinControl*>& List) {
  inherited::GetTabOrderList(List);
  if (IsChildControlContainer() || !FInnerControl) return;
  TCustomForm* form = GetParentForm(this);
  if (!form || form->ActiveControl() != FInnerControl) return;
  // The focused inner control stands in the container's place.
  auto inner = std::find(List.begin(), List.end(), FInnerControl);
  if (inner != List.end()) List.erase(inner);
  auto self = std::find(List.begin(), List.end(), static_cast<TWinControl*>(this));
  if (self != List.end()) *self = FInnerControl;
}

void TvlContainer::FocusChanged() {
  inherited::FocusChanged();
  ShortRefreshContainer(false);
}

void TvlContainer::TranslationChanged() {
  inherited::TranslationChanged();
  ShortRefreshContainer(false);
}

// --- Dragging ----------------------------------------------------------------------------------------------

namespace {

// Reaches TControl's protected drag members of another control.
struct TControlDragAccess : TControl {
  using TControl::DragCanceled;
  using TControl::GetDragImages;
};

}  // namespace

void TvlContainer::SetDragKind(TDragKind Value) {
  inherited::SetDragKind(Value);
  if (FInnerControl) FInnerControl->SetDragKind(Value);
}

void TvlContainer::SetDragMode(TDragMode Value) {
  inherited::SetDragMode(Value);
  if (FInnerControl) FInnerControl->SetDragModeProp(Value);
}

void TvlContainer::DragCanceled() {
  inherited::DragCanceled();
  if (FInnerControl) (FInnerControl->*(&TControlDragAccess::DragCanceled))();
}

TDragImageList* TvlContainer::GetDragImages() {
  if (FInnerControl) return (FInnerControl->*(&TControlDragAccess::GetDragImages))();
  return inherited::GetDragImages();
}

// --- Mouse and hot tracking ----------------------------------------------------------------------------

void TvlContainer::MouseTrackingLeave() {
  MouseLeave(static_cast<TControl*>(nullptr));
  vlStopMouseTracking(this);
}

// The inherited handlers run the OnMouseEnter, OnMouseLeave and OnMouseMove
// events, which may free the container.
void TvlContainer::MouseEnter(TControl* AControl) {
  TWeakRef<TvlContainer> self(this);
  inherited::MouseEnter(AControl);
  if (!self) return;
  ShortRefreshContainer(true);
  vlStartMouseTracking(this, FViewInfo->Bounds, this);
}

void TvlContainer::MouseLeave(TControl* AControl) {
  TWeakRef<TvlContainer> self(this);
  inherited::MouseLeave(AControl);
  if (!self) return;
  ShortRefreshContainer(true);
  vlStopMouseTracking(this);
}

void TvlContainer::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  TWeakRef<TvlContainer> self(this);
  inherited::MouseMove(Shift, X, Y);
  if (!self) return;
  RefreshContainer(TPoint{X, Y}, vlmbNone, Shift, true);
  vlStartMouseTracking(this, FViewInfo->Bounds, this);
}

void TvlContainer::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TWeakRef<TvlContainer> self(this);
  inherited::MouseDown(Button, Shift, X, Y);
  if (self && IsMouseTracked()) RefreshContainer(TPoint{X, Y}, vlConvertMouseButton(Button), Shift, true);
}

void TvlContainer::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TWeakRef<TvlContainer> self(this);
  inherited::MouseUp(Button, Shift, X, Y);
  if (self) RefreshContainer(TPoint{X, Y}, vlConvertMouseButton(Button), Shift, true);
}

void TvlContainer::DoContextPopup(TPoint MousePos, Boolean& Handled) {
  if (FPopupMenuLockCount > 0 || !((MousePos.X == -1 && MousePos.Y == -1) || CanShowPopupMenu(MousePos))) {
    Handled = true;
    return;
  }
  inherited::DoContextPopup(MousePos, Handled);
}

// --- Style, colour and font -----------------------------------------------------------------------------

void TvlContainer::StyleChanged(TObject*) {
  if (FIsCreating || IsLoading()) return;
  ShortRefreshContainer(false);
  FInternalSetting = true;
  Finally done([&] { FInternalSetting = false; });
  if (!ParentColor() || Style()->IsValueAssigned(svColor)) SetColor(Style()->GetControlColor());
  if (Style()->Font()) SetFont(Style()->Font());
  if (Style()->IsValueAssigned(svFont)) SetParentFont(false);
}

void TvlContainer::ColorChanged() {
  if (FInternalSetting) {
    ShortRefreshContainer(false);
    return;
  }
  Style()->SetColor(Color());
}

void TvlContainer::CursorChanged() {
  inherited::CursorChanged();
  if (FInnerControl) FInnerControl->SetCursor(Cursor());
}

void TvlContainer::EnabledChanged() {
  for (Integer i = 0; i < ControlCount(); ++i)
    if (TvlScrollBar* bar = dynamic_cast<TvlScrollBar*>(Controls(i))) bar->SetEnabledProp(Enabled());
  ShortRefreshContainer(false);
}

void TvlContainer::Resize() {
  inherited::Resize();
  ShortRefreshContainer(false);
}

void TvlContainer::CreateParams(TCreateParams& Params) {
  inherited::CreateParams(Params);
  Params.WindowClass.style &= ~(CS_HREDRAW | CS_VREDRAW);
}

void TvlContainer::CreateWindowHandle(const TCreateParams& Params) {
  const String caption = Params.Caption ? String(Params.Caption) : String();
  if (caption.size() < 65536) {
    inherited::CreateWindowHandle(Params);
    return;
  }
  // A caption that long is set after the window is made.
  TCreateParams params = Params;
  params.Caption = u"";
  inherited::CreateWindowHandle(params);
  if (HandleAllocated()) DefWindowProcW(WindowHandle(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(caption.c_str()));
}

void TvlContainer::ChangeScale(Integer M, Integer D) {
  const TScalingFlags flags = ScalingFlags();
  {
    // A font of its own is scaled by the inherited step without going into
    // the style (scaled below); one through ParentFont never goes there.
    const Boolean saved = FInternalSetting;
    FInternalSetting = !ParentFont();
    Finally restore([&] { FInternalSetting = saved; });
    inherited::ChangeScale(M, D);
  }
  if (M == D || !Style()->IsValueAssigned(svFont) || (IsLoading() && !flags.Contains(sfFont))) return;
  if (Style()->OwnAssigned(svFont)) {
    TFont* font = Style()->Font();
    font->SetSize(MulDiv(font->Size(), M, D));
  } else if (IsLoading()) {
    if (TvlStyleController* c = Style()->ActiveStyleController()) c->ScaleFont(M, D);
  }
}

void TvlContainer::CreateHandle() {
  inherited::CreateHandle();
  if (FInnerControl && vlCanAllocateHandle(FInnerControl)) FInnerControl->HandleNeeded();
  ShortRefreshContainer(false);
}

// --- Scroll-bar emulation ----------------------------------------------------------------------------------

void TvlContainer::UpdateScrollBars() {
  inherited::UpdateScrollBars();
  SetScrollBarsParameters(false);
}

void TvlContainer::UpdateScrollBarsParameters() {
  if (HandleAllocated() && FInnerControl && !IsDestroying())
    PostMessageW(WindowHandle(), VLM_SCROLLBARSUPDATE, 0, 0);
}

Boolean TvlContainer::IsScrollBarVisible(const SCROLLBARINFO& AInfo) {
  return (AInfo.rgstate[0] & (STATE_SYSTEM_INVISIBLE | STATE_SYSTEM_OFFSCREEN)) == 0;
}

Boolean TvlContainer::GetScrollBarEnabled(TvlScrollBar* AScrollBar, const SCROLLBARINFO& AInfo) {
  return AScrollBar->Parent() && AScrollBar->Parent()->Enabled() && (AInfo.rgstate[0] & STATE_SYSTEM_UNAVAILABLE) == 0;
}

Boolean TvlContainer::GetInnerScrollBarInfo(SCROLLBARINFO& AInfo, TScrollBarKind AKind) {
  if (IsDestroying() || !Parent() || !HandleAllocated() || !FInnerControl || !FInnerControl->HandleAllocated())
    return false;
  return vlQueryScrollBarInfo(FInnerControl->WindowHandle(), AKind == sbHorizontal ? OBJID_HSCROLL : OBJID_VSCROLL,
                              AInfo);
}

void TvlContainer::GetScrollBarBounds(const TRect& AScreenRect, TRect& ABounds) {
  const TPoint p = ScreenToClient(TPoint{AScreenRect.Left, AScreenRect.Top});
  ABounds = TRect{p.X, p.Y, p.X + AScreenRect.Width(), p.Y + AScreenRect.Height()};
  if (p.X < 0 || p.Y < 0 || AScreenRect.Width() > Width() || AScreenRect.Height() > Height()) ABounds = TRect{};
}

void TvlContainer::SetScrollBarVisible(TvlScrollBar* AScrollBar, Boolean AVisible) {
  AScrollBar->SetVisible(AVisible);
  if (AVisible) {
    AScrollBar->SetCtl3D(false);
    AScrollBar->BringToFront();
  }
}

void TvlContainer::PositionScrollBar(TvlScrollBar* AScrollBar) {
  SCROLLBARINFO info{};
  if (GetInnerScrollBarInfo(info, AScrollBar->Kind()) && IsScrollBarVisible(info)) {
    AScrollBar->SetEnabledProp(GetScrollBarEnabled(AScrollBar, info));
    TRect b;
    GetScrollBarBounds(info.rcScrollBar, b);
    AScrollBar->SetBounds(b.Left, b.Top, b.Width(), b.Height());
    SetScrollBarVisible(AScrollBar, b.Width() > 0 && b.Height() > 0);
  } else {
    SetScrollBarVisible(AScrollBar, false);
  }
}

void TvlContainer::SetScrollBarsParameters(Boolean AIsScrolling) {
  if (!FInnerControl || !HasScrollBars() || IsDestroying() || !HScrollBar() || !vlUseOwnScrollBars()) return;
  FScrollBarsCalculating = true;
  Finally done([&] { FScrollBarsCalculating = false; });
  TvlScrollBar* bars[2] = {HScrollBar(), VScrollBar()};
  for (TvlScrollBar* bar : bars) {
    if (!AIsScrolling) PositionScrollBar(bar);
    if (!bar->Visible() || !FInnerControl->HandleAllocated()) continue;
    SCROLLINFO si{};
    si.cbSize = sizeof(si);
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_TRACKPOS;
    GetScrollInfo(FInnerControl->WindowHandle(), bar->Kind() == sbHorizontal ? SB_HORZ : SB_VERT, &si);
    const Integer page = std::min(Integer(si.nPage), si.nMax);
    if (si.nMax >= si.nMin && si.nMax >= page) bar->SetScrollParams(si.nMin, si.nMax, si.nPos, page);
  }
  TvlContainerSizeGripData grip;
  grip.Visible = HScrollBar()->Visible() && VScrollBar()->Visible() && FInnerControl->HandleAllocated() &&
                 dynamic_cast<IvlContainerInnerControl*>(FInnerControl) != nullptr;
  if (grip.Visible) grip.Bounds = vlGetContainerSizeGripRect(this);
  if (grip.Visible && (!FSizeGripData.Visible || !vlRectsEqual(grip.Bounds, FSizeGripData.Bounds))) {
    HRGN rgn = CreateRectRgnIndirect(&grip.Bounds);
    SendMessageW(FInnerControl->WindowHandle(), WM_NCPAINT, reinterpret_cast<WPARAM>(rgn), 0);
    DeleteObject(rgn);
  }
  FSizeGripData = grip;
}

// --- Themes --------------------------------------------------------------------------------------------------

Integer TvlContainer::GetThemePartId() { return nbOSWindowsVistaOrLater ? EP_BACKGROUND : EP_EDITTEXT; }

Integer TvlContainer::GetThemeStateId() {
  if (!Enabled()) return ETS_DISABLED;
  if (IsReadOnly()) return ETS_READONLY;
  if (Focused()) return ETS_FOCUSED;
  if (FViewInfo->ContainerState.Contains(csHotTrack)) return ETS_HOT;
  return ETS_NORMAL;
}

// --- Messages ------------------------------------------------------------------------------------------------

void TvlContainer::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_CHAR:
    case CN_KEYDOWN:
    case CN_KEYUP:
    case CN_CHAR:
      if (FInnerControl && FInnerControl->HandleAllocated()) {
        Message.Result = FInnerControl->Perform(Message.Msg, Message.WParam, Message.LParam);
        return;
      }
      break;
    case WM_SETFOCUS:
      if (!Visible()) return;
      if (FInnerControl && FInnerControl->HandleAllocated() &&
          reinterpret_cast<HWND>(Message.WParam) == FInnerControl->WindowHandle())
        return;
      inherited::Dispatch(Message);
      if (!IsDestroying() && HandleAllocated() && FInnerControl && FInnerControl->HandleAllocated() &&
          FInnerControl->CanFocus())
        FocusInnerControl();
      return;
    case WM_KILLFOCUS:
      if (FInnerControl && FInnerControl->HandleAllocated() &&
          reinterpret_cast<HWND>(Message.WParam) == FInnerControl->WindowHandle())
        return;
      break;
    case WM_SETCURSOR:
      if (FInnerControl && reinterpret_cast<HWND>(Message.WParam) == WindowHandle() &&
          LOWORD(Message.LParam) == HTCLIENT) {
        TPoint p{};
        GetCursorPos(&p);
        if (!vlPointInRect(FViewInfo->ClientRect, ScreenToClient(p))) {
          win::SetCursor(LoadCursorW(nullptr, IDC_ARROW));
          Message.Result = 1;
          return;
        }
      }
      break;
    case WM_NCCALCSIZE:
      if (FRefreshLockCount > 0) {
        Message.Result = 0;
        return;
      }
      break;
    case WM_NCPAINT:
      Message.Result = 0;
      return;
    case CM_ENABLEDCHANGED:
      inherited::Dispatch(Message);
      EnabledChanged();
      return;
    case CM_CTL3DCHANGED:
    case CM_SYSCOLORCHANGE:
    case VLM_CONTAINERREFRESH:
      inherited::Dispatch(Message);
      ShortRefreshContainer(false);
      return;
    case VLM_SCROLLBARSUPDATE:
      SetScrollBarsParameters(false);
      return;
    case CM_FONTCHANGED:
      if (FInternalSetting) {
        inherited::Dispatch(Message);
        UpdateInnerControlBounds();
        SetScrollBarsParameters(false);
        ShortRefreshContainer(false);
      } else if (FParentFontChanging) {
        // The parent's font: shown, but never assigned in the style.
        TvlContainerStyle* base = Style()->BaseStyle();
        ++base->FFontAssignedValueLockCount;
        {
          Finally unlock([&] { --base->FFontAssignedValueLockCount; });
          Style()->SetFont(Font());
        }
        inherited::Dispatch(Message);
      } else {
        // A font set on the container is the style's own from now on.
        Style()->SetFont(Font());
        inherited::Dispatch(Message);
      }
      return;
    case CM_PARENTCOLORCHANGED: {
      const Boolean wasAssigned = Style()->IsValueAssigned(svColor);
      inherited::Dispatch(Message);
      if (!wasAssigned || ParentColor()) {
        TvlContainerStyleValues v = Style()->AssignedValues();
        v.Exclude(Byte(svColor));
        Style()->SetAssignedValues(v);
      }
      if (Style()->Color() != Color()) StyleChanged(Style());
      if (IsTransparentBackground() && !ParentColor()) Invalidate();
      return;
    }
    case CM_PARENTFONTCHANGED: {
      const Boolean wasAssigned = Style()->IsValueAssigned(svFont);
      {
        const Boolean saved = FParentFontChanging;
        FParentFontChanging = true;
        Finally restore([&] { FParentFontChanging = saved; });
        inherited::Dispatch(Message);
      }
      if (!wasAssigned || ParentFont()) {
        TvlContainerStyleValues v = Style()->AssignedValues();
        v.Exclude(Byte(svFont));
        Style()->SetAssignedValues(v);
      }
      return;
    }
    case WM_WINDOWPOSCHANGED:
      inherited::Dispatch(Message);
      if (IsTransparentBackground()) ShortRefreshContainer(false);
      return;
    case WM_WINDOWPOSCHANGING:
      if (IsDestroying()) {
        Message.Result = 0;
        return;
      }
      inherited::Dispatch(Message);
      // The container's own window holds the focus (the inner control could
      // not take it before): the inner control takes it now when it can.
      if (HandleAllocated() && GetFocus() == WindowHandle() && !ControlState().Contains(csFocusing) &&
          FInnerControl && FInnerControl->CanFocus())
        if (TCustomForm* form = GetParentForm(this)) form->FocusControl(FInnerControl);
      return;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      // With automatic dragging a press only starts the drag.
      if (DragMode() == dmAutomatic && !IsDesignTime()) {
        BeginAutoDrag();
        return;
      }
      break;
    default:
      break;
  }
  inherited::Dispatch(Message);
}
