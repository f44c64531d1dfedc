// The painting result of an editor: background, border and the seven
// button styles, the repaint decisions and the hint parts.
#include "lib/editors/vlEditViewInfo.h"

#include <algorithm>

#include "lib/editors/vlEdit.h"
#include "lib/editors/vlEditUtils.h"
#include "lib/foundation/nbUxTheme.h"
#include "lib/foundation/vlGeometry.h"
#include "lib/foundation/vlGraphics.h"
#include "lib/foundation/vlGraphicsUtils.h"
#include "lib/lookandfeel/nbOffice11.h"
#include "lib/lookandfeel/vlOffice11LookAndFeelPainter.h"
#include "lib/lookandfeel/vlSolidBrushCache.h"
#include "lib/lookandfeel/vlWindowUtils.h"
#include "platform/rtl/Finally.h"
#include "platform/vcl/Controls.h"
#include "platform/vcl/Graphics.h"
#include "platform/win/Gdi.h"
#include "platform/win/Windows.h"

using namespace win;

namespace {


Boolean IsHotOrPressed(TvlEditButtonState AState) { return AState == ebsPressed || AState == ebsSelected; }

TvlButtonState ButtonStateOf(TvlEditButtonState AState) {
  switch (AState) {
    case ebsDisabled: return vlbsDisabled;
    case ebsPressed: return vlbsPressed;
    case ebsSelected: return vlbsHot;
    default: return vlbsNormal;
  }
}

// A frame of two colours, left and top in the first.
void DrawTwoColorFrame(TvlCanvas* ACanvas, TRect& R, TColor ALeftTop, TColor ARightBottom) {
  TRect r = R;
  vlDrawEditButtonFrame(ACanvas, r, vlEditFrameLeft | vlEditFrameTop, ALeftTop);
  TRect r2 = R;
  vlDrawEditButtonFrame(ACanvas, r2, vlEditFrameRight | vlEditFrameBottom, ARightBottom);
  R = vlInflateRectBy(R, -1, -1);
}

void DrawFrame(TvlCanvas* ACanvas, TRect& R, TColor AColor) {
  vlDrawEditButtonFrame(ACanvas, R, vlEditFrameLeft | vlEditFrameTop | vlEditFrameRight | vlEditFrameBottom, AColor);
}

}  // namespace

// --- TvlEditButtonViewInfo -------------------------------------------------------------------------------

CL_IMPLEMENT_CLASS(TvlEditButtonViewInfo)

void TvlEditButtonViewInfo::Assign(TPersistent* Source) {
  TvlEditButtonViewInfo* src = dynamic_cast<TvlEditButtonViewInfo*>(Source);
  if (!src) {
    inherited::Assign(Source);
    return;
  }
  Data.NativeState = src->Data.NativeState;
  Data.BackgroundColor = src->Data.BackgroundColor;
  Bounds = src->Bounds;
  Data.Style = src->Data.Style;
  Data.State = src->Data.State;
}

Boolean TvlEditButtonViewInfo::LooksLike(TvlEditButtonViewInfo* AOther) const {
  return AOther && Data.Style == AOther->Data.Style && Data.State == AOther->Data.State &&
         Data.BackgroundColor == AOther->Data.BackgroundColor && Data.NativeState == AOther->Data.NativeState;
}

TvlRegion* TvlEditButtonViewInfo::GetUpdateRegion(TvlEditButtonViewInfo* AOldViewInfo) {
  if (LooksLike(AOldViewInfo)) return New<TvlRegion>();
  return New<TvlRegion>(Bounds);
}

Boolean TvlEditButtonViewInfo::Repaint(TWinControl* AControl, TvlEditButtonViewInfo* AOldViewInfo,
                                       const TPoint& AEditPosition) {
  if (LooksLike(AOldViewInfo)) return false;
  if (AControl && AControl->HandleAllocated()) {
    const TRect r = vlOffsetRectByPoint(Bounds, AEditPosition);
    InvalidateRect(AControl->WindowHandle(), &r, HasBackground);
  }
  return true;
}

// --- TvlCustomEditViewInfo: life and comparison --------------------------------------------------------------

CL_IMPLEMENT_CLASS(TvlCustomEditViewInfo)

void TvlCustomEditViewInfo::Create() {
  inherited::Create();
  LastPressedButton = LastSelectedButton = PressedButton = SelectedButton = -1;
}

void TvlCustomEditViewInfo::Destroy() {
  SetButtonCount(0);
  inherited::Destroy();
}

void TvlCustomEditViewInfo::SetButtonCount(Integer ACount) {
  while (ButtonCount() > ACount) {
    Free(ButtonsInfo.back());
    ButtonsInfo.pop_back();
  }
  while (ButtonCount() < ACount) ButtonsInfo.push_back(CreateFrom(ButtonViewInfoClass()));
}

void TvlCustomEditViewInfo::Assign(TObject* Source) {
  if (TvlCustomEditViewInfo* src = dynamic_cast<TvlCustomEditViewInfo*>(Source)) {
    SetBackgroundColor(src->BackgroundColor());
    BorderColor = src->BorderColor;
    BorderStyle = src->BorderStyle;
    ContainerState = src->ContainerState;
    NativeState = src->NativeState;
    SetButtonCount(src->ButtonCount());
    for (Integer i = 0; i < ButtonCount(); ++i) ButtonsInfo[size_t(i)]->Assign(src->ButtonsInfo[size_t(i)]);
    PressedButton = src->PressedButton;
    SelectedButton = src->SelectedButton;
  }
  inherited::Assign(Source);
}

TvlRegion* TvlCustomEditViewInfo::GetUpdateRegion(TvlContainerViewInfo* AOldViewInfo) {
  TvlCustomEditViewInfo* old = dynamic_cast<TvlCustomEditViewInfo*>(AOldViewInfo);
  if (old && old->BorderStyle == BorderStyle && (old->BorderColor == BorderColor || BorderStyle == ebsNone) &&
      old->ButtonCount() == ButtonCount() && old->NativeState == NativeState) {
    TvlRegion* r = New<TvlRegion>();
    for (Integer i = 0; i < ButtonCount(); ++i)
      r->Combine(ButtonsInfo[size_t(i)]->GetUpdateRegion(old->ButtonsInfo[size_t(i)]), roAdd);
    return r;
  }
  if (vlIsRectEmpty(Bounds)) return New<TvlRegion>();
  return New<TvlRegion>(Bounds);
}

void TvlCustomEditViewInfo::Offset(Integer DX, Integer DY) {
  inherited::Offset(DX, DY);
  InnerEditRect = vlOffsetRect(InnerEditRect, DX, DY);
  ShadowRect = vlOffsetRect(ShadowRect, DX, DY);
  for (TvlEditButtonViewInfo* b : ButtonsInfo) {
    b->Bounds = vlOffsetRect(b->Bounds, DX, DY);
    b->VisibleBounds = vlOffsetRect(b->VisibleBounds, DX, DY);
  }
}

Boolean TvlCustomEditViewInfo::Repaint(TWinControl* AControl, TvlContainerViewInfo* AViewInfo) {
  return Repaint(AControl, TRect{}, AViewInfo);
}

Boolean TvlCustomEditViewInfo::Repaint(TWinControl* AControl, const TRect& AInnerEditRect,
                                       TvlContainerViewInfo* AViewInfo) {
  if (!AControl || !AControl->HandleAllocated()) return false;
  const HWND wnd = AControl->WindowHandle();
  const TRect r = vlOffsetRect(Bounds, Left, Top);
  TvlCustomEditViewInfo* old = dynamic_cast<TvlCustomEditViewInfo*>(AViewInfo);
  if (!old) {
    vlInvalidateRectExcept(wnd, r, AInnerEditRect, false);
    return false;
  }
  const Boolean erase = old->HasBackground;
  Boolean result = false;
  if (old->NativeState != NativeState || old->BackgroundColor() != BackgroundColor() ||
      old->ButtonCount() != ButtonCount() || (old->ContainerState != ContainerState && RepaintOnStateChange())) {
    TRect inner = AInnerEditRect;
    if (!vlIsRectEmpty(inner)) {
      const TRect client = vlOffsetRect(ClientRect, Left, Top);
      inner = TRect{std::max(inner.Left, client.Left), std::max(inner.Top, client.Top),
                    std::min(inner.Right, client.Right), std::min(inner.Bottom, client.Bottom)};
    }
    vlInvalidateRectExcept(wnd, r, inner, erase);
    result = true;
  } else if ((old->BorderColor != BorderColor && BorderStyle != ebsNone) || old->BorderStyle != BorderStyle) {
    vlInvalidateRectExcept(wnd, r, vlOffsetRect(BorderRect, Left, Top), erase);
    result = true;
  }
  if (old->ButtonCount() == ButtonCount())
    for (Integer i = 0; i < ButtonCount(); ++i)
      if (ButtonsInfo[size_t(i)]->Repaint(AControl, old->ButtonsInfo[size_t(i)], TPoint{Left, Top})) result = true;
  return result;
}

// --- Colours, hints, hot tracking --------------------------------------------------------------------------------

void TvlCustomEditViewInfo::GetEditPainterColors(TColor& ABackground, TColor& ATextColor) {
  ABackground = clDefault;
  ATextColor = clDefault;
  if (Edit && !IsInplace) Edit->GetPainterColors(ABackground, ATextColor);
}

Integer TvlCustomEditViewInfo::GetHintPartAt(const TPoint& P) {
  for (TvlEditButtonViewInfo* b : ButtonsInfo)
    if (vlPointInRect(b->Bounds, P)) return b->Index;
  return vlPointInRect(BorderRect, P) ? -1 : -2;
}

TRect TvlCustomEditViewInfo::GetHintPartBounds(Integer AIndex) {
  if (AIndex == -1) {
    TRect r = BorderRect;
    for (TvlEditButtonViewInfo* b : ButtonsInfo) {
      if (b->Data.LeftAlignment)
        r.Left = std::max(r.Left, b->Bounds.Right);
      else
        r.Right = std::min(r.Right, b->Bounds.Left);
    }
    return r;
  }
  for (TvlEditButtonViewInfo* b : ButtonsInfo)
    if (b->Index == AIndex) return b->Bounds;
  return TRect{};
}

Boolean TvlCustomEditViewInfo::IsHotTrack() {
  for (TvlEditButtonViewInfo* b : ButtonsInfo)
    if (b->Data.State == ebsSelected) return true;
  return false;
}

Boolean TvlCustomEditViewInfo::IsHotTrack(const TPoint& P) {
  const TPoint local{P.X - Left, P.Y - Top};
  for (TvlEditButtonViewInfo* b : ButtonsInfo)
    if (vlPointInRect(b->Bounds, local)) return true;
  return false;
}

Boolean TvlCustomEditViewInfo::NeedShowHint(TvlCanvas* ACanvas, const TPoint& P, TRect& ATextRect,
                                            Boolean& AIsMultiLine, String& AText) {
  TRect visible;
  return NeedShowHint(ACanvas, P, ATextRect, AIsMultiLine, AText, visible);
}

Boolean TvlCustomEditViewInfo::NeedShowHint(TvlCanvas* ACanvas, const TPoint& P, TRect& ATextRect,
                                            Boolean& AIsMultiLine, String& AText, TRect& AVisibleBounds) {
  const TPoint local{P.X - Left, P.Y - Top};
  AIsMultiLine = false;
  AText = String();
  for (TvlEditButtonViewInfo* b : ButtonsInfo) {
    if (!vlPointInRect(b->Bounds, local)) continue;
    AText = GetShortHint(b->Data.Hint);
    AVisibleBounds = b->VisibleBounds;
    break;
  }
  if (AText.empty()) return false;
  TSize cursor;
  vlGetCursorSize(cursor);
  TRect r{0, 0, GetSystemMetrics(SM_CXSCREEN), 0};
  ACanvas->TextExtent(AText, r, vlSingleLine);
  ATextRect = vlOffsetRect(TRect{0, 0, r.Width(), r.Height()}, P.X, P.Y + cursor.cy);
  return true;
}

// --- Painting ---------------------------------------------------------------------------------------------------

void TvlCustomEditViewInfo::Paint(TvlCanvas* ACanvas) {
  if (Assigned(OnPaint)) OnPaint(this, ACanvas);
  inherited::Paint(ACanvas);
}

void TvlCustomEditViewInfo::PaintEx(TvlCanvas* ACanvas) {
  const TPoint origin = ACanvas->WindowOrg();
  ACanvas->SetWindowOrg(TPoint{origin.X - Left, origin.Y - Top});
  Finally restore([&] { ACanvas->SetWindowOrg(origin); });
  Paint(ACanvas);
}

void TvlCustomEditViewInfo::DoPaint(TvlCanvas* ACanvas) { vlDrawEditBackgroundAndButtons(ACanvas, this, true); }

Integer TvlCustomEditViewInfo::GetBackgroundPaintingStyle() {
  if (IsInplace) {
    if (Assigned(FOnDrawBackground)) return 0;
    if (Transparent || (Edit && Edit->IsTransparentBackground())) return 2;
    return 3;
  }
  if (Edit && Edit->TransparentNow()) return 4;
  if (Edit && Edit->AlwaysTransparent()) return 5;
  return NativeStyle ? 3 : 1;
}

Boolean TvlCustomEditViewInfo::IsBackgroundTransparent() {
  const Integer kind = GetBackgroundPaintingStyle();
  return kind != 1 && kind != 3;
}

void TvlCustomEditViewInfo::DrawEditBackground(TvlCanvas* ACanvas, const TRect& ARect, const TRect& AInnerEditRect,
                                               Boolean AExcludeInnerEditRect) {
  ACanvas->SaveDC();
  Finally restore([&] { ACanvas->RestoreDC(); });
  if (AExcludeInnerEditRect && !vlIsRectEmpty(AInnerEditRect)) ACanvas->ExcludeClipRect(AInnerEditRect);
  switch (GetBackgroundPaintingStyle()) {
    case 0: {
      ACanvas->IntersectClipRect(ARect);
      Boolean handled = false;
      FOnDrawBackground(this, ACanvas, handled);
      break;
    }
    case 1: vlDrawEditBackgroundAndButtons(ACanvas, this, true); break;
    case 3: ACanvas->FillRect(ARect, BackgroundColor()); break;
    case 4:
      if (Edit) vlDrawTransparentBackground(Edit, ACanvas, ARect, true);
      break;
    case 5:
      if (Edit) vlDrawParentBackground(Edit, ACanvas, ARect);
      break;
    default: break;
  }
}

void TvlCustomEditViewInfo::DrawUsualEditBackground(TvlCanvas* ACanvas, Boolean AFill) {
  const Integer w = BorderWidth;
  TRect r = BorderRect;
  r.Left -= w;
  r.Top -= w;
  if (Edges.Contains(bRight)) r.Right += w;
  if (Edges.Contains(bBottom)) r.Bottom += w;
  if (Shadow) vlDrawShadow(ACanvas, r);
  if (!Edges.Contains(bRight)) r.Right += w;
  if (!Edges.Contains(bBottom)) r.Bottom += w;
  TvlContainerViewInfo::BorderStyle = TvlContainerBorderStyle(BorderStyle);
  if (!Painter || BorderStyle != ebsNone) DrawBorder(ACanvas, r);
  if (Transparent) return;
  if (IsInplace) {
    if (AFill)
      vlFillRectByColor(ACanvas, Bounds, BackgroundColor());
    else if (HasContentOffsets)
      vlFillRectExceptInner(ACanvas, Bounds, BorderRect, vlGetSolidBrush(BackgroundColor()));
  } else if (AFill)
    vlFillRectByColor(ACanvas, BorderRect, BackgroundColor());
}

void TvlCustomEditViewInfo::DrawNativeStyleEditBackground(TvlCanvas* ACanvas, Boolean AFill,
                                                          TColor ABackgroundBrush,
                                                          TvlEditBackgroundPaintingStyle ABackgroundStyle) {
  TRect content = Bounds;
  if (!IsInplace && BorderStyle != ebsNone) {
    HTHEME theme = nbGetThemeHandle(totEdit);
    Integer part = nbOSWindowsVistaOrLater ? EP_EDITBORDER_NOSCROLL : EP_EDITTEXT;
    TRect themeRect = Bounds;
    if (ABackgroundStyle == bpsComboListEdit && nbOSWindowsVistaOrLater) {
      theme = nbGetThemeHandle(totButton);
      part = BP_PUSHBUTTON;
      themeRect = vlInflateRectBy(Bounds, 1, 1);
    }
    switch (ABackgroundStyle) {
      case bpsComboEdit:
        content = vlInflateRectBy(Bounds, -3, -3);
        --content.Right;
        break;
      case bpsComboListEdit: content = nbOSWindowsVistaOrLater ? TRect{} : ClientRect; break;
      default:
        if (nbOSWindowsVistaOrLater)
          content = vlInflateRectBy(Bounds, -2, -2);
        else
          ::GetThemeBackgroundContentRect(theme, ACanvas->Handle(), part, NativeState, &Bounds, &content);
        break;
    }
    ACanvas->SaveClipRegion();
    Finally restore([&] { ACanvas->RestoreClipRegion(); });
    if (!vlIsRectEmpty(content)) ACanvas->ExcludeClipRect(content);
    if (::IsThemeBackgroundPartiallyTransparent(theme, part, NativeState) && Edit)
      vlDrawParentBackground(Edit, ACanvas, Bounds);
    ::DrawThemeBackground(theme, ACanvas->Handle(), part, NativeState, themeRect);
  }
  if (Transparent) return;
  if (AFill || IsInplace || BorderStyle == ebsNone)
    ACanvas->FillRect(content, ABackgroundBrush);
  else if (ABackgroundStyle != bpsComboListEdit)
    vlFillRectExceptInner(ACanvas, content, BorderRect, vlGetSolidBrush(ABackgroundBrush));
}

// --- Buttons -----------------------------------------------------------------------------------------------------

void TvlCustomEditViewInfo::DrawButtons(TvlCanvas* ACanvas) {
  if (FState.Contains(evsPaintButtons)) return;
  if (Edit && Edit->OwnsChildWindow(ACanvas->Handle())) return;
  FState.Include(evsPaintButtons);
  Finally done([&] { FState.Exclude(evsPaintButtons); });
  for (Integer i = 0; i < ButtonCount(); ++i) DrawButton(ACanvas, i);
}

void TvlCustomEditViewInfo::DrawButton(TvlCanvas* ACanvas, Integer AIndex) {
  TvlEditButtonViewInfo* b = ButtonsInfo[size_t(AIndex)];
  b->Data.BackgroundColor = BackgroundColor();
  if (vlIsRectEmpty(b->VisibleBounds)) return;
  const Boolean clip = b->Bounds.Left < BorderRect.Left || b->Bounds.Right > BorderRect.Right;
  if (clip) {
    ACanvas->SaveClipRegion();
    ACanvas->IntersectClipRect(b->VisibleBounds);
  }
  Finally restore([&] {
    if (clip) ACanvas->RestoreClipRegion();
  });
  Boolean handled = false;
  if (Assigned(OnDrawButton)) OnDrawButton(this, ACanvas, AIndex, handled);
  if (!handled) DrawButtonDefault(ACanvas, AIndex);
}

void TvlCustomEditViewInfo::DrawButtonDefault(TvlCanvas* ACanvas, Integer AIndex) {
  TvlEditButtonViewInfo* b = ButtonsInfo[size_t(AIndex)];
  TRect background, content;
  TColor brush = clBtnFace, pen = clBtnText;
  DrawButtonBorder(ACanvas, AIndex, background, content, brush, pen);
  if (!vlIsRectEmpty(background)) DrawButtonBackground(ACanvas, AIndex, brush, background);
  const Boolean offset = b->Data.State == ebsPressed &&
                         (!Edit || Edit->ContentParams.Options.Contains(ecoOffsetButtonContent));
  if (!vlIsRectEmpty(content)) DrawButtonContent(ACanvas, AIndex, offset, brush, pen, content);
}

void TvlCustomEditViewInfo::DrawButtonBorder(TvlCanvas* ACanvas, Integer AIndex, TRect& ABackgroundRect,
                                             TRect& AContentRect, TColor& ABrushColor, TColor& APenColor) {
  TvlEditButtonViewInfo* b = ButtonsInfo[size_t(AIndex)];
  ABackgroundRect = b->Bounds;
  AContentRect = b->Bounds;
  Boolean handled = false;
  if (Assigned(OnDrawButtonBorder)) OnDrawButtonBorder(this, ACanvas, AIndex, ABackgroundRect, AContentRect, handled);
  if (handled) return;
  if (b->Data.NativeState != 0) {
    DrawThemedButtonBorder(ACanvas, AIndex, ABackgroundRect, AContentRect);
    return;
  }
  if (Painter) {
    TColor text = clDefault;
    GetEditPainterColors(ABrushColor, text);
    if (ABrushColor == clDefault)
      ABrushColor = Edit ? BackgroundColor() : (b->Data.State == ebsDisabled ? TColor(clBtnFace) : TColor(clWindow));
    APenColor = text == clDefault ? TColor(clBtnText) : text;
    return;
  }
  const TvlEditButtonState state = b->Data.State;
  TvlEditButtonStyle style = b->Data.Style;
  if (style == btsSimple && IsHotOrPressed(state)) style = btsFlat;
  ABrushColor = b->Data.Transparent ? b->Data.BackgroundColor : TColor(clBtnFace);
  APenColor = clBtnText;
  TRect r = b->Bounds;
  switch (style) {
    case bts3D: Draw3DButtonBorder(ACanvas, r, state, ABrushColor); break;
    case btsFlat: DrawFlatButtonBorder(ACanvas, r, state, ABrushColor); break;
    case btsSimple: DrawSimpleButtonBorder(ACanvas, r, AIndex, ABrushColor); break;
    case btsHotFlat: DrawHotFlatButtonBorder(ACanvas, r, AIndex, ABrushColor, APenColor); break;
    case btsUltraFlat:
    case btsOffice11: DrawUltraFlatButtonBorder(ACanvas, r, AIndex, ABrushColor); break;
    default: break;
  }
  ABackgroundRect = r;
  AContentRect = r;
  if ((style == btsUltraFlat || style == btsOffice11) && IsHotOrPressed(state) && BorderStyle != ebsNone &&
      !(IsInplace && !PaintOptions.Contains(epoHasExternalBorder)))
    AContentRect = vlInflateRectBy(r, -1, -1);
}

void TvlCustomEditViewInfo::Draw3DButtonBorder(TvlCanvas* ACanvas, TRect& ARect, TvlEditButtonState AState,
                                               TColor& ABrushColor) {
  if (AState == ebsPressed) {
    DrawFrame(ACanvas, ARect, clBtnShadow);
    DrawFrame(ACanvas, ARect, ABrushColor);
  } else {
    DrawTwoColorFrame(ACanvas, ARect, cl3DLight, cl3DDkShadow);
    DrawTwoColorFrame(ACanvas, ARect, clBtnHighlight, clBtnShadow);
  }
}

void TvlCustomEditViewInfo::DrawFlatButtonBorder(TvlCanvas* ACanvas, TRect& ARect, TvlEditButtonState AState,
                                                 TColor& ABrushColor) {
  vlDrawEditButtonFrame(ACanvas, ARect, vlEditFrameLeft, ABrushColor);
  if (AState == ebsPressed)
    DrawTwoColorFrame(ACanvas, ARect, clBtnShadow, clBtnHighlight);
  else
    DrawTwoColorFrame(ACanvas, ARect, clBtnHighlight, clBtnShadow);
  vlDrawEditButtonFrame(ACanvas, ARect, vlEditFrameRight, ABrushColor);
}

void TvlCustomEditViewInfo::DrawSimpleButtonBorder(TvlCanvas* ACanvas, TRect& ARect, Integer AIndex,
                                                   TColor& ABrushColor) {
  TvlEditButtonViewInfo* b = ButtonsInfo[size_t(AIndex)];
  if (!b->Data.Transparent) DrawFrame(ACanvas, ARect, b->Data.BackgroundColor);
  vlDrawEditButtonFrame(ACanvas, ARect, vlEditFrameLeft | vlEditFrameRight, ABrushColor);
}

void TvlCustomEditViewInfo::DrawHotFlatButtonBorder(TvlCanvas* ACanvas, TRect& ARect, Integer AIndex,
                                                    TColor& ABrushColor, TColor& APenColor) {
  TvlEditButtonViewInfo* b = ButtonsInfo[size_t(AIndex)];
  const TvlEditButtonState state = b->Data.State;
  const Boolean transparent = b->Data.Transparent;
  switch (state) {
    case ebsPressed: ABrushColor = clBtnText; break;
    case ebsSelected: ABrushColor = transparent ? b->Data.BackgroundColor : TColor(clBtnShadow); break;
    default: ABrushColor = transparent ? b->Data.BackgroundColor : TColor(clBtnFace); break;
  }
  if (IsHotOrPressed(state))
    APenColor = (transparent && state == ebsSelected) ? TColor(clBtnShadow) : TColor(clWindow);
  else
    APenColor = clBtnText;
  const Boolean nextToText = b->Data.LeftAlignment ? b->Data.Rightmost : b->Data.Leftmost;
  if (nextToText)
    DrawFrame(ACanvas, ARect, clBtnShadow);
  else if (b->Data.LeftAlignment) {
    vlDrawEditButtonFrame(ACanvas, ARect, vlEditFrameLeft | vlEditFrameTop | vlEditFrameBottom, clBtnShadow);
    vlDrawEditButtonFrame(ACanvas, ARect, vlEditFrameRight, ABrushColor);
  } else {
    vlDrawEditButtonFrame(ACanvas, ARect, vlEditFrameTop | vlEditFrameRight | vlEditFrameBottom, clBtnShadow);
    vlDrawEditButtonFrame(ACanvas, ARect, vlEditFrameLeft, ABrushColor);
  }
  vlDrawEditButtonFrame(ACanvas, ARect, vlEditFrameLeft | vlEditFrameRight, ABrushColor);
}

void TvlCustomEditViewInfo::DrawUltraFlatButtonBorder(TvlCanvas* ACanvas, TRect& ARect, Integer AIndex,
                                                      TColor& ABrushColor) {
  TvlEditButtonViewInfo* b = ButtonsInfo[size_t(AIndex)];
  const TvlEditButtonState state = b->Data.State;
  const Boolean office = b->Data.Style == btsOffice11;
  if (b->Data.Transparent)
    ABrushColor = b->Data.BackgroundColor;
  else if (state == ebsDisabled)
    ABrushColor = clBtnFace;
  else if (state == ebsNormal)
    ABrushColor = office ? ClassOf<TvlOffice11LookAndFeelPainter>()->ButtonColor(vlbsNormal) : TColor(clBtnFace);
  else
    ABrushColor = vlGetFlatButtonColor(state == ebsPressed, office);
  const TColor border = vlGetFlatEditBorderColor(office);
  const Boolean ownBorderless =
      IsInplace ? !PaintOptions.Contains(epoHasExternalBorder) : BorderStyle == ebsNone;
  if (!IsHotOrPressed(state) || ownBorderless) {
    if (IsHotOrPressed(state))
      DrawFrame(ACanvas, ARect, border);
    else if (!b->Data.Transparent)
      DrawFrame(ACanvas, ARect, b->Data.BackgroundColor);
    else
      ARect = vlInflateRectBy(ARect, -1, -1);
    ARect.Left++;
    ARect.Right--;
    return;
  }
  // Hot or pressed inside a bordered editor: lines towards the neighbours only.
  const Boolean left = b->Data.LeftAlignment;
  const Boolean outermost = left ? b->Data.Leftmost : b->Data.Rightmost;
  const Integer outerSide = left ? vlEditFrameLeft : vlEditFrameRight;
  const Integer innerSide = left ? vlEditFrameRight : vlEditFrameLeft;
  const Boolean reachesEdge = left ? b->Bounds.Right >= BorderRect.Right : b->Bounds.Left <= BorderRect.Left;
  if (!outermost)
    vlDrawEditButtonFrame(ACanvas, ARect, outerSide, border);
  else if (left)
    ARect.Left++;
  else
    ARect.Right--;
  if (!reachesEdge)
    vlDrawEditButtonFrame(ACanvas, ARect, innerSide, border);
  else if (left)
    ARect.Right--;
  else
    ARect.Left++;
}

void TvlCustomEditViewInfo::DrawThemedButtonBorder(TvlCanvas* ACanvas, Integer AIndex, TRect& ABackgroundRect,
                                                   TRect& AContentRect) {
  TvlEditButtonViewInfo* b = ButtonsInfo[size_t(AIndex)];
  if (Assigned(OnDrawButton) || Assigned(OnDrawButtonBackground) || Assigned(OnDrawButtonBorder))
    AContentRect = ABackgroundRect;
  else if (b->Data.ComboBoxStyle)
    AContentRect = TRect{};
  else
    ::GetThemeBackgroundContentRect(nbGetThemeHandle(totButton), ACanvas->Handle(), BP_PUSHBUTTON,
                                    b->Data.NativeState, &ABackgroundRect, &AContentRect);
}

void TvlCustomEditViewInfo::DrawThemedButtonBackground(TvlCanvas* ACanvas, Integer AIndex, const TRect& ARect) {
  TvlEditButtonViewInfo* b = ButtonsInfo[size_t(AIndex)];
  const TnbThemedObjectType type = b->Data.ComboBoxStyle ? totComboBox : totButton;
  if (b->Data.BackgroundPartiallyTransparent) ACanvas->FillRect(ARect, b->Data.BackgroundColor);
  ::DrawThemeBackground(nbGetThemeHandle(type), ACanvas->Handle(), b->Data.NativePart, b->Data.NativeState, ARect);
}

void TvlCustomEditViewInfo::DrawPlainButtonBackground(TvlCanvas* ACanvas, Integer, const TRect& ARect,
                                                      TColor ABrushColor) {
  vlFillRectByColor(ACanvas, ARect, ABrushColor);
}

void TvlCustomEditViewInfo::DrawButtonBackground(TvlCanvas* ACanvas, Integer AIndex, TColor ABrushColor,
                                                 const TRect& ARect) {
  TvlEditButtonViewInfo* b = ButtonsInfo[size_t(AIndex)];
  Boolean handled = false;
  if (Assigned(OnDrawButtonBackground)) OnDrawButtonBackground(this, ACanvas, ARect, AIndex, handled);
  if (handled) return;
  if (b->Data.NativeState != 0) {
    DrawThemedButtonBackground(ACanvas, AIndex, ARect);
    return;
  }
  const TvlEditButtonState state = b->Data.State;
  if (b->Data.Style == btsOffice11 && b->Data.Gradient && !b->Data.Transparent && state != ebsDisabled && !Painter) {
    TColor c1 = nbOffice11GradientLightColor, c2 = nbOffice11GradientDarkColor;
    if (state == ebsPressed) {
      c1 = nbOffice11PressedButtonColor;
      c2 = nbOffice11PressedButtonColor2;
    } else if (state == ebsSelected) {
      c1 = nbOffice11HotButtonColor;
      c2 = nbOffice11HotButtonColor2;
    }
    TRect g{ARect.Left, BorderRect.Top, ARect.Right, BorderRect.Bottom};
    if (state == ebsNormal) g = vlInflateRectBy(g, 0, 1);
    ACanvas->SaveClipRegion();
    Finally restore([&] { ACanvas->RestoreClipRegion(); });
    ACanvas->IntersectClipRect(ARect);
    nbFillGradientRect(ACanvas->Handle(), g, c1, false, c2);
    return;
  }
  DrawPlainButtonBackground(ACanvas, AIndex, ARect, ABrushColor);
}

void TvlCustomEditViewInfo::DrawButtonContent(TvlCanvas* ACanvas, Integer AIndex, Boolean AOffset,
                                              TColor ABrushColor, TColor APenColor, const TRect& AContentRect) {
  TvlEditButtonViewInfo* b = ButtonsInfo[size_t(AIndex)];
  const TvlEditButtonViewInfoData& d = b->Data;
  const Boolean disabled = d.State == ebsDisabled;
  ACanvas->SaveClipRegion();
  Finally restore([&] { ACanvas->RestoreClipRegion(); });
  ACanvas->IntersectClipRect(AContentRect);
  if (Painter) {
    static const TvlEditBtnKind kinds[] = {vlbkEllipsisBtn, vlbkComboBtn, vlbkEditorBtn, vlbkEditorBtn};
    Painter->DrawEditorButton(ACanvas, AContentRect, kinds[d.Kind], ButtonStateOf(d.State));
    if (d.Kind == bkEllipsis || d.Kind == bkDown) return;
  }
  // Draws the content once, or twice embossed for a disabled button.
  auto emboss = [&](auto draw) {
    if (disabled) {
      draw(1, clBtnHighlight);
      draw(0, clBtnShadow);
    } else
      draw(0, APenColor);
  };
  switch (d.Kind) {
    case bkEllipsis: {
      const Integer side = AContentRect.Width() > 11 ? 2 : 1;
      const Integer w = 3 * side + 4;
      Integer x = AContentRect.Left + (AContentRect.Width() - w) / 2;
      Integer y = AContentRect.Top + (AContentRect.Height() - side) / 2;
      if (AOffset) {
        if (x + w + 1 <= AContentRect.Right) ++x;
        if (y + side + 1 <= AContentRect.Bottom) ++y;
      }
      emboss([&](Integer shift, TColor color) {
        for (Integer i = 0; i < 3; ++i) {
          const TRect dot = vlRectFromBounds(x + shift + i * (side + 2), y + shift, side, side);
          vlFillRectByColor(ACanvas, dot, color);
        }
      });
      break;
    }
    case bkDown: {
      // Centred on the whole button width (and, in place, its height); an
      // odd difference leans towards the press offset.
      TRect r{b->Bounds.Left, AContentRect.Top, b->Bounds.Right, AContentRect.Bottom};
      if (IsInplace) {
        r.Top = b->Bounds.Top;
        r.Bottom = b->Bounds.Bottom;
      }
      if ((r.Width() - AContentRect.Width()) % 2 != 0) ++r.Right;
      if (AOffset) r = vlOffsetRect(r, 1, 1);
      emboss([&](Integer shift, TColor color) {
        ClassOf<TvlStandardLookAndFeelPainter>()->DrawArrow(ACanvas, vlOffsetRect(r, shift, shift), adDown, color);
      });
      break;
    }
    case bkGlyph: {
      TBitmap* glyph = b->Glyph;
      if (!vlIsGlyphValid(glyph)) break;
      const Integer w = std::min(glyph->Width(), AContentRect.Width());
      const Integer h = std::min(glyph->Height(), AContentRect.Height());
      Integer x = AContentRect.Left + (AContentRect.Width() - w) / 2;
      Integer y = AContentRect.Top + (AContentRect.Height() - h) / 2;
      if (AOffset) {
        ++x;
        ++y;
      }
      vlDrawEditGlyph(ACanvas, x, y, glyph, clNone, !disabled);
      break;
    }
    default: {  // bkText
      TRect r = vlInflateRectBy(AContentRect, -1, IsInplace ? 0 : -1);
      --r.Right;
      if (AOffset) r = vlOffsetRect(r, 1, 1);
      TColor color = (d.Style == btsHotFlat && IsHotOrPressed(d.State)) ? APenColor : d.TextColor;
      if (color == clDefault) color = TextColor;
      if (Font) ACanvas->SetFont(Font);
      PrepareCanvasFont(ACanvas);
      Integer flags = vlSingleLine | vlAlignVCenter | vlShowPrefix | vlShowEndEllipsis;
      flags |= d.ContentAlignment == taLeftJustify ? vlAlignLeft
               : d.ContentAlignment == taRightJustify ? vlAlignRight
                                                      : vlAlignHCenter;
      const TBrushStyle brushStyle = ACanvas->Brush()->Style();
      ACanvas->Brush()->SetStyle(bsClear);
      if (!disabled) ACanvas->Font()->SetColor(color);
      ACanvas->DrawTexT(d.Caption, r, flags, !disabled);
      ACanvas->Brush()->SetStyle(brushStyle);
      break;
    }
  }
}
