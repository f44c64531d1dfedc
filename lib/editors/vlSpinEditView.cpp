// The spin editor's buttons: their layout in the three arrangements and
// their painting in every look.
#include <algorithm>

#include "lib/editors/vlEditStyles.h"
#include "lib/editors/vlEditUtils.h"
#include "lib/editors/vlSpinEdit.h"
#include "lib/foundation/nbUxTheme.h"
#include "lib/foundation/vlGeometry.h"
#include "lib/lookandfeel/vlOffice11LookAndFeelPainter.h"
#include "lib/lookandfeel/nbThemeManager.h"
#include "lib/lookandfeel/vlLookAndFeelPainters.h"
#include "platform/win/UxTheme.h"
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

Integer ThemeStateOf(TvlEditButtonState AState) {
  switch (AState) {
    case ebsDisabled: return 4;
    case ebsPressed: return 3;
    case ebsSelected: return 2;
    default: return 1;
  }
}

Boolean IsBackward(TvlSpinEditButton AButton) { return AButton == sebBackward || AButton == sebFastBackward; }
Boolean IsFast(TvlSpinEditButton AButton) { return AButton == sebFastBackward || AButton == sebFastForward; }

// The platform's MulDiv(A, 3, 2) for a positive width: halves away from zero.
Integer ThreeHalves(Integer A) { return (A * 3 + 1) / 2; }

TRect Intersect(const TRect& A, const TRect& B) {
  TRect r{std::max(A.Left, B.Left), std::max(A.Top, B.Top), std::min(A.Right, B.Right), std::min(A.Bottom, B.Bottom)};
  if (r.Right < r.Left || r.Bottom < r.Top) return TRect{};
  return r;
}

// Which sides of a hot-flat button are drawn in its brush colour (the
// others in the shadow colour), by arrangement, button count and button.
Integer HotFlatBrushSides(TvlSpinEditButtonsPosition APosition, Boolean AFast, TvlSpinEditButton AButton) {
  const Integer L = vlEditFrameLeft, T = vlEditFrameTop, R = vlEditFrameRight;
  switch (APosition) {
    case sbpHorzLeftRight: {
      static const Integer sides[] = {0, 0, R, L};
      return AFast ? sides[AButton] : 0;
    }
    case sbpHorzRight: {
      static const Integer two[] = {0, L, 0, 0}, four[] = {L, L, 0, L};
      return (AFast ? four : two)[AButton];
    }
    default: {
      static const Integer two[] = {T, 0, 0, 0}, four[] = {L | T, L, 0, L};
      return (AFast ? four : two)[AButton];
    }
  }
}

// The sides on which a hot or pressed ultra-flat button of a bordered
// editor draws a line; the second value marks the sides left out when they
// lie on the border's left edge.
struct TLineSides {
  Integer Sides;
  Integer LeftUnlessOnBorder;
};

TLineSides UltraFlatLineSides(TvlSpinEditButtonsPosition APosition, Boolean AFast, TvlSpinEditButton AButton) {
  const Integer L = vlEditFrameLeft, T = vlEditFrameTop, R = vlEditFrameRight, B = vlEditFrameBottom;
  switch (APosition) {
    case sbpHorzLeftRight: {
      static const TLineSides two[] = {{R, 0}, {L, 0}, {0, 0}, {0, 0}};
      static const TLineSides four[] = {{L | R, L}, {L | R, L}, {R, 0}, {L, 0}};
      return (AFast ? four : two)[AButton];
    }
    case sbpHorzRight: {
      static const TLineSides two[] = {{L | R, L}, {L, 0}, {0, 0}, {0, 0}};
      static const TLineSides four[] = {{L | R, L}, {L | R, L}, {L | R, L}, {L, 0}};
      return (AFast ? four : two)[AButton];
    }
    default: {
      static const TLineSides two[] = {{L | T, L}, {L | B, L}, {0, 0}, {0, 0}};
      static const TLineSides four[] = {{L | T | R, 0}, {L | R | B, 0}, {L | R, L}, {L, 0}};
      return (AFast ? four : two)[AButton];
    }
  }
}

}  // namespace

// --- View info ---------------------------------------------------------------------------------------------------

CL_IMPLEMENT_CLASS(TvlSpinEditViewInfo)

void TvlSpinEditViewInfo::Assign(TObject* Source) {
  inherited::Assign(Source);
  if (auto* src = dynamic_cast<TvlSpinEditViewInfo*>(Source)) {
    ArrowSize = src->ArrowSize;
    ButtonsPosition = src->ButtonsPosition;
    DelimiterLine[0] = src->DelimiterLine[0];
    DelimiterLine[1] = src->DelimiterLine[1];
  }
}

TvlSpinEditButton TvlSpinEditViewInfo::SpinButtonOf(Integer AVisibleIndex) const {
  const Integer index = ButtonsInfo[size_t(AVisibleIndex)]->Index;
  return TvlSpinEditButton(std::clamp(index, 0, Integer(sebFastForward)));
}

void TvlSpinEditViewInfo::DoPaint(TvlCanvas* ACanvas) {
  inherited::DoPaint(ACanvas);
  // In the themed look a line in the background colour fills the gap between the buttons.
  if (ButtonCount() == 0 || ButtonsInfo[0]->Data.NativePart == 0 || ButtonsPosition == sbpHorzLeftRight ||
      Assigned(OnDrawButton))
    return;
  const TRect line{DelimiterLine[0].X, DelimiterLine[0].Y, DelimiterLine[1].X + 1, DelimiterLine[1].Y + 1};
  if (line.Right > line.Left && line.Bottom > line.Top) vlFillRectByColor(ACanvas, line, BackgroundColor());
}

Integer TvlSpinEditViewInfo::GetHintPartAt(const TPoint& P) { return vlPointInRect(BorderRect, P) ? -1 : -2; }

TRect TvlSpinEditViewInfo::GetHintPartBounds(Integer AIndex) { return AIndex == -1 ? BorderRect : TRect{}; }

void TvlSpinEditViewInfo::DrawHotFlatButtonBorder(TvlCanvas* ACanvas, TRect& ARect, Integer AIndex,
                                                  TColor& ABrushColor, TColor& APenColor) {
  TvlEditButtonViewInfo* b = ButtonsInfo[size_t(AIndex)];
  const TvlEditButtonState state = b->Data.State;
  const Boolean transparent = b->Data.Transparent;
  switch (state) {
    case ebsPressed: ABrushColor = clBtnText; break;
    case ebsSelected: ABrushColor = clBtnShadow; break;
    default: ABrushColor = clBtnFace; break;
  }
  if (transparent) ABrushColor = b->Data.BackgroundColor;
  if (!IsHotOrPressed(state))
    APenColor = clBtnText;
  else
    APenColor = transparent && state == ebsSelected ? TColor(clBtnShadow) : TColor(clBtnHighlight);
  const Integer brushSides = HotFlatBrushSides(ButtonsPosition, ButtonCount() == 4, SpinButtonOf(AIndex));
  for (Integer side : {vlEditFrameLeft, vlEditFrameTop, vlEditFrameRight, vlEditFrameBottom}) {
    TRect r = b->Bounds;
    vlDrawEditButtonFrame(ACanvas, r, side, (brushSides & side) ? ABrushColor : TColor(clBtnShadow));
  }
  ARect = vlInflateRectBy(b->Bounds, -1, -1);
}

void TvlSpinEditViewInfo::DrawUltraFlatButtonBorder(TvlCanvas* ACanvas, TRect& ARect, Integer AIndex,
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
  const Boolean ownBorderless = IsInplace ? !PaintOptions.Contains(epoHasExternalBorder) : BorderStyle == ebsNone;
  const TRect background = vlInflateRectBy(b->Bounds, -1, -1);
  if (!IsHotOrPressed(state) || ownBorderless) {
    TRect r = b->Bounds;
    if (IsHotOrPressed(state))
      vlDrawEditButtonFrame(ACanvas, r, vlEditFrameLeft | vlEditFrameTop | vlEditFrameRight | vlEditFrameBottom,
                            border);
    else if (!b->Data.Transparent)
      vlDrawEditButtonFrame(ACanvas, r, vlEditFrameLeft | vlEditFrameTop | vlEditFrameRight | vlEditFrameBottom,
                            b->Data.BackgroundColor);
    ARect = background;
    FUltraFlatContent = background;
    return;
  }
  // Lines only on the sides that do not lie on the editor's border.
  const TLineSides lines = UltraFlatLineSides(ButtonsPosition, ButtonCount() == 4, SpinButtonOf(AIndex));
  Integer sides = lines.Sides;
  if ((lines.LeftUnlessOnBorder & vlEditFrameLeft) && b->Bounds.Left <= BorderRect.Left) sides &= ~vlEditFrameLeft;
  TRect content = b->Bounds;
  for (Integer side : {vlEditFrameLeft, vlEditFrameTop, vlEditFrameRight, vlEditFrameBottom})
    if (sides & side) {
      TRect r = b->Bounds;
      vlDrawEditButtonFrame(ACanvas, r, side, border);
      if (side == vlEditFrameLeft) ++content.Left;
      if (side == vlEditFrameTop) ++content.Top;
      if (side == vlEditFrameRight) --content.Right;
      if (side == vlEditFrameBottom) --content.Bottom;
    }
  ARect = background;
  FUltraFlatContent = content;
}

void TvlSpinEditViewInfo::DrawButtonBorder(TvlCanvas* ACanvas, Integer AIndex, TRect& ABackgroundRect,
                                           TRect& AContentRect, TColor& ABrushColor, TColor& APenColor) {
  FUltraFlatContent = TRect{-1, -1, -1, -1};
  inherited::DrawButtonBorder(ACanvas, AIndex, ABackgroundRect, AContentRect, ABrushColor, APenColor);
  if (FUltraFlatContent.Left != -1 || FUltraFlatContent.Right != -1) AContentRect = FUltraFlatContent;
}

void TvlSpinEditViewInfo::DrawThemedButtonBorder(TvlCanvas* ACanvas, Integer AIndex, TRect& ABackgroundRect,
                                                 TRect& AContentRect) {
  // The theme part holds the arrow: nothing is drawn over it unless custom drawn.
  if (Assigned(OnDrawButton) || Assigned(OnDrawButtonBackground) || Assigned(OnDrawButtonBorder))
    AContentRect = ABackgroundRect;
  else
    AContentRect = TRect{};
}

void TvlSpinEditViewInfo::DrawThemedButtonBackground(TvlCanvas* ACanvas, Integer AIndex, const TRect& ARect) {
  TvlEditButtonViewInfo* b = ButtonsInfo[size_t(AIndex)];
  if (b->Data.BackgroundPartiallyTransparent) ACanvas->FillRect(ARect, b->Data.BackgroundColor);
  ::DrawThemeBackground(nbGetThemeHandle(totSpin), ACanvas->Handle(), b->Data.NativePart, b->Data.NativeState, ARect);
}

void TvlSpinEditViewInfo::DrawButtonContent(TvlCanvas* ACanvas, Integer AIndex, Boolean AOffset, TColor ABrushColor,
                                            TColor APenColor, const TRect& AContentRect) {
  TvlEditButtonViewInfo* b = ButtonsInfo[size_t(AIndex)];
  const TvlSpinEditButton button = SpinButtonOf(AIndex);
  const Boolean backward = IsBackward(button), vertical = ButtonsPosition == sbpVert;
  if (Painter) {
    const TvlEditBtnKind kind = vertical ? (backward ? vlbkSpinDownBtn : vlbkSpinUpBtn)
                                         : (backward ? vlbkSpinLeftBtn : vlbkSpinRightBtn);
    Painter->DrawEditorButton(ACanvas, AContentRect, kind, ButtonStateOf(b->Data.State));
    return;
  }
  TvlArrowDirection direction = backward ? adLeft : adRight;
  if (vertical && !IsFast(button)) direction = backward ? adDown : adUp;
  ACanvas->SaveClipRegion();
  ACanvas->IntersectClipRect(AContentRect);
  if (b->Data.State == ebsDisabled) {
    vlDrawButtonArrow(ACanvas, ArrowSize, vlOffsetRect(AContentRect, 1, 1), clBtnHighlight, AOffset, IsFast(button),
                      direction);
    vlDrawButtonArrow(ACanvas, ArrowSize, AContentRect, clBtnShadow, AOffset, IsFast(button), direction);
  } else
    vlDrawButtonArrow(ACanvas, ArrowSize, AContentRect, APenColor, AOffset, IsFast(button), direction);
  ACanvas->RestoreClipRegion();
}

// --- View data -----------------------------------------------------------------------------------------------------

CL_IMPLEMENT_CLASS(TvlSpinEditViewData)

TvlSpinEditButtonsPosition TvlSpinEditViewData::Position() const {
  auto* p = dynamic_cast<TvlCustomSpinEditProperties*>(Properties());
  return p ? p->SpinButtons()->Position() : sbpVert;
}

Boolean TvlSpinEditViewData::ButtonMayBePressed(TvlCustomEditViewInfo*, Integer) {
  return !Edit() || PressedState == epsNone;
}

Boolean TvlSpinEditViewData::ButtonIsPressed(TvlCustomEditViewInfo* AViewInfo, Integer AIndex) {
  return Edit() && PressedState != epsNone && AViewInfo->ButtonsInfo[size_t(AIndex)]->Index + 1 == PressedState;
}

void TvlSpinEditViewData::Calculate(TvlCanvas* ACanvas, const TRect& ABounds, const TPoint& P, TvlMouseButton Button,
                                    TShiftState Shift, TvlCustomEditViewInfo* AViewInfo, Boolean AIsMouseEvent) {
  inherited::Calculate(ACanvas, ABounds, P, Button, Shift, AViewInfo, AIsMouseEvent);
  const Boolean themed = AViewInfo->NativeStyle && nbIsThemeAvailable(totSpin);
  const HTHEME theme = themed ? nbGetThemeHandle(totSpin) : nullptr;
  for (TvlEditButtonViewInfo* b : AViewInfo->ButtonsInfo) {
    TvlEditButtonViewInfoData& d = b->Data;
    if (themed && d.NativePart != 0) {
      d.NativeState = ThemeStateOf(d.State);
      d.BackgroundPartiallyTransparent = ::IsThemeBackgroundPartiallyTransparent(theme, d.NativePart, d.NativeState);
    } else {
      d.NativeState = 0;
      d.BackgroundPartiallyTransparent = false;
    }
  }
}

void TvlSpinEditViewData::CalculateButtonViewInfo(TvlCanvas* ACanvas, TvlCustomEditViewInfo* AViewInfo,
                                                  TRect& AButtonsRect, Integer AIndex) {
  inherited::CalculateButtonViewInfo(ACanvas, AViewInfo, AButtonsRect, AIndex);
  TvlEditButtonViewInfo* info = AViewInfo->ButtonsInfo[size_t(AIndex)];
  if (Position() == sbpHorzLeftRight && (info->Index == sebBackward || info->Index == sebFastBackward))
    info->Data.LeftAlignment = true;
}

// All buttons are placed together when the last visible one is calculated
// (the first call: the framework goes from the last button to the first).
void TvlSpinEditViewData::CalculateButtonBounds(TvlCanvas* ACanvas, TvlCustomEditViewInfo* AViewInfo, Integer AIndex,
                                                TRect& AButtonsRect) {
  auto* vi = static_cast<TvlSpinEditViewInfo*>(AViewInfo);
  const TvlSpinEditButtonsPosition position = Position();
  vi->ButtonsPosition = position;
  const Integer count = AViewInfo->ButtonCount();
  if (count != 2 && count != 4) {
    inherited::CalculateButtonBounds(ACanvas, AViewInfo, AIndex, AButtonsRect);
    return;
  }
  if (AIndex != count - 1) return;
  auto info = [&](TvlSpinEditButton AButton) { return AViewInfo->ButtonsInfo[size_t(AButton)]; };
  for (TvlEditButtonViewInfo* b : AViewInfo->ButtonsInfo) b->Bounds = b->VisibleBounds = TRect{};
  TRect& R = AButtonsRect;
  if (vlIsRectEmpty(R)) return;
  const Boolean fast = count == 4;

  // Widths.
  const Integer D = vlCalculateEditButtonWidth(ACanvas, AViewInfo->ButtonsInfo[size_t(count - 1)]);
  const Integer A = vlCalculateArrowSize(TSize{D + 2, R.Height() / 2 + 2}, adUp).cy;
  vi->ArrowSize = A;
  const Boolean themed = AViewInfo->NativeStyle && nbIsThemeAvailable(totSpin);
  Integer W = 0, FW = 0;
  if (themed) {
    ACanvas->SetFont(FStyle->GetVisibleFont());
    const TRect client = GetBorderExtent(), buttons = GetButtonsExtent(ACanvas);
    const Integer h = GetEditContentSizeCorrection().cy + ACanvas->TextHeight(u"Zg") + client.Top + client.Bottom -
                      buttons.Top - buttons.Bottom - 1;
    W = (h + 1) / 2;
    FW = ThreeHalves(W);
  } else if (AViewInfo->Painter) {
    const Integer skinHeight = AViewInfo->Painter->EditButtonSize().cy;
    W = skinHeight / 2 + A;
    FW = W * 3 / 2 + (skinHeight % 2);
  } else {
    W = 4 * A - 3;
    FW = ThreeHalves(W);
  }
  W = std::max(W, 1);
  FW = std::max(FW, 1);
  const Boolean customDrawn = Assigned(AViewInfo->OnDrawButton);
  const Integer DS = themed && !customDrawn ? 1 : 0;
  const Integer BC = 0;  // the theme engine needs no bottom correction

  if (fast) {
    info(sebFastForward)->Bounds = TRect{R.Right - FW, R.Top, R.Right, R.Bottom - BC};
    R.Right -= FW;
  }
  if (position == sbpVert) {
    const Integer middle = R.Top + (R.Height() - DS) / 2;
    info(sebForward)->Bounds = TRect{R.Right - D, R.Top, R.Right, middle};
    info(sebBackward)->Bounds = TRect{R.Right - D, middle + DS, R.Right, R.Bottom};
    R.Right -= D;
    if (fast) {
      info(sebFastBackward)->Bounds = TRect{R.Right - FW, R.Top, R.Right, R.Bottom};
      R.Right -= FW;
    }
  } else {
    info(sebForward)->Bounds = TRect{R.Right - W, R.Top, R.Right, R.Bottom - BC};
    R.Right -= W + DS;
    if (position == sbpHorzRight) {
      info(sebBackward)->Bounds = TRect{R.Right - W, R.Top, R.Right, R.Bottom};
      R.Right -= W;
      if (fast) {
        info(sebFastBackward)->Bounds = TRect{R.Right - FW, R.Top, R.Right, R.Bottom};
        R.Right -= FW;
      }
    } else {
      if (fast) {
        info(sebFastBackward)->Bounds = TRect{R.Left, R.Top, R.Left + FW, R.Bottom};
        R.Left += FW;
      }
      info(sebBackward)->Bounds = TRect{R.Left, R.Top, R.Left + W, R.Bottom};
      R.Left += W;
    }
  }
  // Theme parts: up and down in the vertical arrangement, left and right otherwise.
  for (Integer i = 0; i < count; ++i) {
    TvlEditButtonViewInfo* b = AViewInfo->ButtonsInfo[size_t(i)];
    const auto button = TvlSpinEditButton(i);
    b->VisibleBounds = Intersect(b->Bounds, AViewInfo->BorderRect);
    Integer part = 0;
    if (themed) {
      if (position == sbpVert && !IsFast(button))
        part = IsBackward(button) ? SPNP_DOWN : SPNP_UP;
      else
        part = IsBackward(button) ? SPNP_DOWNHORZ : SPNP_UPHORZ;
    }
    b->Data.NativePart = part;
    if (position == sbpHorzLeftRight && IsBackward(button)) b->Data.LeftAlignment = true;
  }
}

void TvlSpinEditViewData::CheckButtonsOnly(TvlCustomEditViewInfo* AViewInfo, Integer APrevButtonsWidth,
                                           Integer AButtonsWidth) {
  inherited::CheckButtonsOnly(AViewInfo, APrevButtonsWidth, AButtonsWidth);
  auto* vi = static_cast<TvlSpinEditViewInfo*>(AViewInfo);
  vi->DelimiterLine[0] = vi->DelimiterLine[1] = TPoint{};
  const Integer count = AViewInfo->ButtonCount();
  if (count != 2 && count != 4) return;
  TvlEditButtonViewInfo* backward = AViewInfo->ButtonsInfo[sebBackward];
  TvlEditButtonViewInfo* forward = AViewInfo->ButtonsInfo[sebForward];
  const TvlSpinEditButtonsPosition position = Position();
  if (position == sbpVert) {
    backward->Bounds.Left = forward->Bounds.Left;
    backward->Bounds.Right = forward->Bounds.Right;
  }
  for (TvlEditButtonViewInfo* b : AViewInfo->ButtonsInfo) b->VisibleBounds = Intersect(b->Bounds, AViewInfo->BorderRect);
  if (forward->Data.NativePart == 0) return;
  if (position == sbpHorzRight) {
    vi->DelimiterLine[0] = TPoint{backward->Bounds.Right, backward->Bounds.Top};
    vi->DelimiterLine[1] = TPoint{backward->Bounds.Right, backward->Bounds.Bottom - 1};
  } else if (position == sbpVert) {
    vi->DelimiterLine[0] = TPoint{forward->Bounds.Left, forward->Bounds.Bottom};
    vi->DelimiterLine[1] = TPoint{forward->Bounds.Right - 1, forward->Bounds.Bottom};
  }
}

Boolean TvlSpinEditViewData::IgnoreButtonWhileStretching(Integer AIndex) {
  return Position() == sbpVert && AIndex == sebBackward;
}
