#include "lib/editors/vlEditUtils.h"

#include <algorithm>

#include "lib/editors/vlEditViewInfo.h"
#include "lib/foundation/nbUxTheme.h"
#include "lib/foundation/vlGeometry.h"
#include "lib/foundation/vlGraphics.h"
#include "lib/foundation/vlImageList.h"
#include "lib/lookandfeel/nbOffice11.h"
#include "lib/lookandfeel/vlLookAndFeels.h"
#include "lib/lookandfeel/vlOffice11LookAndFeelPainter.h"
#include "lib/lookandfeel/vlSolidBrushCache.h"
#include "lib/lookandfeel/vlWinXPLookAndFeelPainter.h"
#include "platform/classes/ModuleInit.h"
#include "platform/rtl/Finally.h"
#include "platform/vcl/Graphics.h"
#include "platform/win/Gdi.h"
#include "platform/win/Windows.h"

using namespace win;

namespace {

// The frame allowance of a button drawn without themes.
constexpr Integer kButtonFrameWidth = 4;

// Flag pairs: the library's text-output flag and its DrawText flag.
struct TFlagPair {
  Integer TextOut, DrawText;
};
constexpr TFlagPair kFlagPairs[] = {{vlTextOutVCenter, DT_VCENTER},       {vlTextOutRight, DT_RIGHT},
                                    {vlTextOutSingleLine, DT_SINGLELINE}, {vlTextOutWordBreak, DT_WORDBREAK},
                                    {vlTextOutExpandTabs, DT_EXPANDTABS}, {vlTextOutCalcRect, DT_CALCRECT}};

}  // namespace

CL_UNIT_STEPS(vlEditUtils, nullptr, nullptr);

// --- Arrows, frames, polylines -------------------------------------------------------------------------------

TSize vlCalculateArrowSize(const TSize& ASize, TvlArrowDirection AArrowDirection) {
  const Integer s = std::min(ASize.cx, ASize.cy);
  Integer w = (s - 1) / 2;
  if (w % 2 == 0) ++w;
  const Integer h = w / 2 + 1;
  if (AArrowDirection == adLeft || AArrowDirection == adRight) return TSize{h, w};
  return TSize{w, h};
}

void vlDrawButtonArrow(TvlCanvas* ACanvas, Integer AArrowSize, const TRect& AContentRect, TColor AColor,
                       Boolean AOffsetContent, Boolean AIsDoubleArrow, TvlArrowDirection AArrowDirection) {
  if (AArrowSize <= 0) return;
  const Integer n = AIsDoubleArrow ? 2 : 1;
  const Boolean vertical = AArrowDirection == adUp || AArrowDirection == adDown;
  const Integer blockW = vertical ? 2 * AArrowSize - 1 : n * AArrowSize;
  const Integer blockH = vertical ? n * AArrowSize : 2 * AArrowSize - 1;
  Integer x = AContentRect.Left + (AContentRect.Width() - blockW) / 2;
  Integer y = AContentRect.Top + (AContentRect.Height() - blockH) / 2;
  if (AOffsetContent) {
    ++x;
    ++y;
  }
  HBRUSH brush = vlGetSolidBrush(AColor);
  for (Integer arrow = 0; arrow < n; ++arrow) {
    for (Integer i = 0; i < AArrowSize; ++i) {
      TRect r;
      switch (AArrowDirection) {
        case adUp:  // the apex first, one pixel wider on both sides each row
          r = TRect{x + AArrowSize - 1 - i, y + i, x + AArrowSize + i, y + i + 1};
          break;
        case adDown:
          r = TRect{x + i, y + i, x + blockW - i, y + i + 1};
          break;
        case adLeft:
          r = TRect{x + i, y + AArrowSize - 1 - i, x + i + 1, y + AArrowSize + i};
          break;
        default:  // adRight
          r = TRect{x + i, y + i, x + i + 1, y + blockH - i};
          break;
      }
      FillRect(ACanvas->Handle(), &r, brush);
    }
    if (vertical)
      y += AArrowSize;
    else
      x += AArrowSize;
  }
}

void vlDrawPolyline(TvlCanvas* ACanvas, const TPoint* APoints, Integer ACount, Boolean AFillMode, TColor AColor) {
  if (ACount < 0 || !APoints) return;
  const TPoint last = APoints[ACount];
  if (!AFillMode) {
    ACanvas->Pen()->SetColor(AColor);
    ACanvas->Polyline(std::vector<TPoint>(APoints, APoints + ACount + 1));
    ACanvas->SetPixel(last.X, last.Y, AColor);
    return;
  }
  HBRUSH brush = vlGetSolidBrush(AColor);
  for (Integer i = 0; i < ACount; ++i) {
    const TPoint a = APoints[i], b = APoints[i + 1];
    const TRect r{std::min(a.X, b.X), std::min(a.Y, b.Y), std::max(a.X, b.X) + 1, std::max(a.Y, b.Y) + 1};
    FillRect(ACanvas->Handle(), &r, brush);
  }
  const TRect dot{last.X, last.Y, last.X + 1, last.Y + 1};
  FillRect(ACanvas->Handle(), &dot, brush);
}

void vlDrawEditButtonFrame(TvlCanvas* ACanvas, TRect& ARect, Integer ASides, TColor AColor) {
  const TRect r{ARect.Left, ARect.Top, ARect.Right - 1, ARect.Bottom - 1};
  auto line = [&](TPoint a, TPoint b) {
    const TPoint pts[2] = {a, b};
    vlDrawPolyline(ACanvas, pts, 1, false, AColor);
  };
  if (ASides & vlEditFrameLeft) line({r.Left, r.Top}, {r.Left, r.Bottom});
  if (ASides & vlEditFrameRight) line({r.Right, r.Top}, {r.Right, r.Bottom});
  if (ASides & vlEditFrameTop) line({r.Left, r.Top}, {r.Right, r.Top});
  if (ASides & vlEditFrameBottom) line({r.Left, r.Bottom}, {r.Right, r.Bottom});
  if (ASides & vlEditFrameLeft) ++ARect.Left;
  if (ASides & vlEditFrameTop) ++ARect.Top;
  if (ASides & vlEditFrameRight) --ARect.Right;
  if (ASides & vlEditFrameBottom) --ARect.Bottom;
}

// --- Glyphs ------------------------------------------------------------------------------------------------

Boolean vlIsGlyphValid(TBitmap* ABitmap) {
  return ABitmap && !ABitmap->Empty() && ABitmap->Width() >= 1 && ABitmap->Height() >= 1;
}

Boolean vlIsImageListValid(TCustomImageList* AImageList) {
  return AImageList && AImageList->Width() > 0 && AImageList->Height() > 0;
}

void vlDrawEditGlyph(TvlCanvas* ACanvas, Integer X, Integer Y, TBitmap* AGlyph, TColor ABrushColor,
                     Boolean AEnabled, TBitmap* ABackgroundBitmap) {
  if (!vlIsGlyphValid(AGlyph)) return;
  const TRect source{0, 0, AGlyph->Width(), AGlyph->Height()};
  if (AEnabled) {
    TCanvas* target = ABackgroundBitmap ? ABackgroundBitmap->Canvas() : ACanvas->Canvas();
    const TBrushStyle oldStyle = target->Brush()->Style();
    if (ABackgroundBitmap || ABrushColor == clNone)
      target->Brush()->SetStyle(bsClear);
    else
      target->Brush()->SetColor(ABrushColor);
    const TPoint at = ABackgroundBitmap ? TPoint{0, 0} : TPoint{X, Y};
    target->BrushCopy(vlRectFromBounds(at.X, at.Y, source.Width(), source.Height()), AGlyph, source,
                      AGlyph->TransparentColor());
    target->Brush()->SetStyle(oldStyle);
    if (ABackgroundBitmap) ACanvas->Draw(X, Y, ABackgroundBitmap);
    return;
  }
  TCustomImageList* list = NewBy<TCustomImageList>(&TCustomImageList::CreateSize, AGlyph->Width(), AGlyph->Height());
  Finally freeList([&] { Free(list); });
  list->AddMasked(AGlyph, AGlyph->TransparentColor() & 0xFFFFFF);
  TBitmap* temp = nullptr;
  Finally freeTemp([&] { Free(temp); });
  TBitmap* into = ABackgroundBitmap;
  if (!into && ABrushColor != clNone) {
    temp = New<TBitmap>();
    temp->SetWidth(AGlyph->Width());
    temp->SetHeight(AGlyph->Height());
    temp->Canvas()->Brush()->SetColor(ABrushColor);
    temp->Canvas()->FillRect(source);
    into = temp;
  }
  if (into) {
    list->Draw(into->Canvas(), 0, 0, 0, false);
    ACanvas->Draw(X, Y, into);
  } else {
    list->Draw(ACanvas->Canvas(), X, Y, 0, false);
  }
}

void vlDrawImageListGlyph(TvlCanvas* ACanvas, TCustomImageList* AImageList, Integer AIndex, TBitmap* ABitmap,
                          Boolean AEnabled, TColor ABrushColor, const TRect& ARect) {
  if (!vlIsImageListValid(AImageList)) return;
  TBitmap* temp = nullptr;
  Finally freeTemp([&] { Free(temp); });
  TBitmap* into = ABitmap;
  if (!into) {
    temp = New<TBitmap>();
    temp->SetWidth(AImageList->Width());
    temp->SetHeight(AImageList->Height());
    temp->Canvas()->Brush()->SetColor(ABrushColor);
    temp->Canvas()->FillRect(TRect{0, 0, AImageList->Width(), AImageList->Height()});
    into = temp;
  }
  AImageList->Draw(into->Canvas(), 0, 0, AIndex, AEnabled);
  ACanvas->Draw(ARect.Left, ARect.Top, into);
}

// --- Painters, sizes, colours ----------------------------------------------------------------------------------

TvlCustomLookAndFeelPainterClass vlGetButtonPainterClass(Boolean ANativeStyle, TvlLookAndFeelKind AKind) {
  if (ANativeStyle && nbIsThemeAvailable(totButton)) return ClassOf<TvlWinXPLookAndFeelPainter>();
  return vlLookAndFeelPainterOfKind(AKind);
}

TRect vlGetThemeContentMargins(TnbThemedObjectType AType, Integer APart, Integer AState) {
  const TRect outer{0, 0, 100, 100};
  TRect content = outer;
  ::GetThemeBackgroundContentRect(nbGetThemeHandle(AType), nullptr, APart, AState, &outer, &content);
  return TRect{content.Left - outer.Left, content.Top - outer.Top, outer.Right - content.Right,
               outer.Bottom - content.Bottom};
}

Integer vlCalculateEditButtonWidth(TvlCanvas* ACanvas, TvlEditButtonViewInfo* AButtonViewInfo) {
  TvlEditButtonViewInfoData& d = AButtonViewInfo->Data;
  const TnbThemedObjectType type = d.ComboBoxStyle ? totComboBox : totButton;
  if (d.NativeStyle) d.NativeStyle = nbIsThemeAvailable(type);
  Integer frame = kButtonFrameWidth;
  if (d.NativeStyle) {
    const TRect m = vlGetThemeContentMargins(type, d.ComboBoxStyle ? CP_DROPDOWNBUTTON : BP_PUSHBUTTON,
                                             d.ComboBoxStyle ? CBXS_NORMAL : PBS_NORMAL);
    frame = m.Left + m.Right;
  }
  if (AButtonViewInfo->Width >= 1) return std::max(AButtonViewInfo->Width, frame);
  if (d.Kind == bkGlyph && vlIsGlyphValid(AButtonViewInfo->Glyph)) return AButtonViewInfo->Glyph->Width() + frame;
  const Integer arrow = GetSystemMetrics(SM_CYHSCROLL);
  if (d.Kind == bkText) return std::max(arrow, frame + ACanvas->TextWidth(d.VisibleCaption) + 3);
  return arrow;
}

void vlFillRectByColor(TvlCanvas* ACanvas, const TRect& ARect, TColor AColor) {
  FillRect(ACanvas->Handle(), &ARect, vlGetSolidBrush(AColor));
}

void vlFillRectByBrush(HDC ADC, const TRect& ARect, HBRUSH ABrush) { FillRect(ADC, &ARect, ABrush); }

Boolean vlIsDigitCharacter(Char AChar) { return AChar >= u'0' && AChar <= u'9'; }

Boolean vlIsBlankChar(Char AChar) {
  return AChar == 0 || AChar == 9 || AChar == 10 || AChar == 12 || AChar == 13 || AChar == 32;
}

Integer vlMapTextOutFlagsToDrawText(Integer AFlags) {
  Integer r = 0;
  for (const TFlagPair& p : kFlagPairs)
    if (AFlags & p.TextOut) r |= p.DrawText;
  return r;
}

Integer vlConvertDrawTextFlags(Integer AFlags) {
  Integer r = 0;
  for (const TFlagPair& p : kFlagPairs)
    if (AFlags & p.DrawText) r |= p.TextOut;
  return r;
}

void vlFillRectExceptInner(TvlCanvas* ACanvas, const TRect& ARect, const TRect& AInnerRect, HBRUSH ABrush) {
  if (vlIsRectEmpty(ARect) || vlRectsEqual(ARect, AInnerRect)) return;
  HDC dc = ACanvas->Handle();
  if (vlIsRectEmpty(AInnerRect)) {
    FillRect(dc, &ARect, ABrush);
    return;
  }
  const TRect bands[4] = {
      {ARect.Left, ARect.Top, AInnerRect.Left, ARect.Bottom},
      {AInnerRect.Left, ARect.Top, AInnerRect.Right, AInnerRect.Top},
      {AInnerRect.Right, ARect.Top, ARect.Right, ARect.Bottom},
      {AInnerRect.Left, AInnerRect.Bottom, AInnerRect.Right, ARect.Bottom},
  };
  for (const TRect& b : bands)
    if (!vlIsRectEmpty(b)) FillRect(dc, &b, ABrush);
}

Integer vlGetButtonContentVerticalIndent(TvlCanvas*, TvlEditButtonStyle AButtonsStyle, Boolean ANativeStyle) {
  if (ANativeStyle) {
    const TRect m = vlGetThemeContentMargins(totButton, BP_PUSHBUTTON, PBS_NORMAL);
    return m.Top + m.Bottom;
  }
  if (AButtonsStyle == btsDefault) return 0;
  return AButtonsStyle == bts3D ? 4 : 2;
}

Integer vlNativeInplaceButtonHeightFix(TvlCustomEditProperties* AProperties, Boolean AIsInplace) {
  return AIsInplace && AProperties->Buttons()->Count() > 0 ? 1 : 0;
}

TColor vlGetFlatEditBorderColor(Boolean AOffice11) {
  if (!AOffice11) return clHighlight;
  nbAcquireOffice11Colors();
  Finally drop([] { nbDropOffice11Colors(); });
  return nbOffice11HighlightBorderColor;
}

TColor vlGetFlatButtonColor(Boolean APressed, Boolean AOffice11) {
  const TvlButtonState state = APressed ? vlbsPressed : vlbsHot;
  if (AOffice11) return ClassOf<TvlOffice11LookAndFeelPainter>()->ButtonColor(state);
  return ClassOf<TvlUltraFlatLookAndFeelPainter>()->ButtonColor(state);
}

void vlSetCanvasFontFromLogFont(TvlCanvas* ACanvas, const LOGFONTW& ALogFont) {
  ACanvas->Font()->SetHandle(CreateFontIndirectW(&ALogFont));
}

Boolean vlGetCanvasLogFont(TvlCanvas* ACanvas, LOGFONTW& ALogFont) {
  return GetObjectW(ACanvas->Font()->Handle(), sizeof(LOGFONTW), &ALogFont) == sizeof(LOGFONTW);
}

void vlDrawEditBackgroundAndButtons(TvlCanvas* ACanvas, TvlCustomEditViewInfo* AViewInfo, Boolean AFill,
                                    TvlEditBackgroundPaintingStyle ABackgroundStyle) {
  if (!AViewInfo->DrawsCustomBackground() || AViewInfo->GetBackgroundPaintingStyle() != 0) {
    if (AViewInfo->NativeStyle)
      AViewInfo->DrawNativeStyleEditBackground(ACanvas, AFill, AViewInfo->BackgroundColor(), ABackgroundStyle);
    else
      AViewInfo->DrawUsualEditBackground(ACanvas, AFill);
  }
  AViewInfo->DrawButtons(ACanvas);
}
