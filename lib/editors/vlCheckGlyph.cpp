// The check mark: its size, border offset, the cell of a user glyph strip,
// and the drawing by glyph, painter, theme or classic frame.
#include "lib/editors/vlCheckBox.h"
#include "lib/editors/vlEditUtils.h"
#include "lib/foundation/vlGeometry.h"
#include "lib/foundation/vlGraphics.h"
#include "lib/lookandfeel/nbThemeManager.h"
#include "lib/lookandfeel/vlSolidBrushCache.h"
#include "lib/lookandfeel/vlWinXPLookAndFeelPainter.h"
#include "platform/rtl/Finally.h"
#include "platform/vcl/Graphics.h"
#include "platform/win/UxTheme.h"
#include "platform/win/Windows.h"

using namespace win;

namespace {

// The brush where the mask is black, the destination where it is white.
constexpr DWORD kRopMaskToBrush = 0x00B8074A;

TBitmap* gCheckMarkMask = nullptr;

// The border width a style draws around the mark.
Integer BorderWidthOfStyle(TvlEditBorderStyle AStyle) {
  switch (AStyle) {
    case ebsNone: return 0;
    case ebsSingle: case ebsUltraFlat: case ebsOffice11: return 1;
    default: return 2;
  }
}

Integer BorderWidthOfKind(TvlLookAndFeelKind AKind) {
  return (AKind == lfUltraFlat || AKind == lfOffice11) ? 1 : 2;
}

void DrawUserGlyph(TvlCanvas* ACanvas, const TRect& R, TvlCheckBoxState AState, Boolean AGrayedGlyphsPresent,
                   Integer AGlyphCount, TBitmap* AGlyph, TColor ABackgroundColor, TvlEditCheckState AEditState) {
  const Integer w = R.Width(), h = R.Height();
  if (w <= 0 || h <= 0) return;
  TBitmap* cell = New<TBitmap>();
  Finally freeCell([&] { Free(cell); });
  cell->SetSize(w, h);
  const Integer index = vlCheckGlyphImageIndex(AState, AEditState, AGrayedGlyphsPresent, AGlyphCount);
  const Integer cellWidth = AGlyph->Width() / AGlyphCount;
  const TRect dest{0, 0, w, h};
  const Integer srcTop = (AGlyph->Height() - h) / 2;
  const TRect src{index * cellWidth, srcTop, index * cellWidth + w, srcTop + h};
  cell->Canvas()->CopyRect(dest, AGlyph->Canvas(), src);
  cell->SetTransparentColor(AGlyph->TransparentColor());
  cell->SetTransparent(AGlyph->Transparent());
  vlDrawEditGlyph(ACanvas, R.Left, R.Top, cell, ColorToRGB(ABackgroundColor), AEditState != ecsDisabled);
}

// The one-pixel frame colour of the flat styles.
TColor FlatFrameColor(TvlEditBorderStyle AStyle, TvlEditCheckState AEditState, Boolean AIsDesigning,
                      Boolean AFocused) {
  if (AStyle == ebsOffice11 && AEditState == ecsNormal && !AIsDesigning && !AFocused) return clBtnText;
  if (AEditState == ecsHot || AEditState == ecsPressed || (AIsDesigning && AEditState != ecsDisabled) ||
      (AEditState == ecsNormal && AFocused))
    return vlGetFlatEditBorderColor(AStyle == ebsOffice11);
  return clBtnShadow;
}

void DrawFrame(TvlCanvas* ACanvas, TRect& R, TvlEditBorderStyle AStyle, TColor ABorderColor,
               TvlEditCheckState AEditState, Boolean AIsDesigning, Boolean AFocused) {
  switch (AStyle) {
    case ebsNone: break;
    case ebsSingle: ACanvas->FrameRect(R, ABorderColor); break;
    case ebsThick: ACanvas->FrameRect(R, ABorderColor, 2); break;
    case ebsFlat:
      ACanvas->DrawEdge(R, true, true);
      R = vlInflateRectBy(R, -1, -1);
      ACanvas->FrameRect(R, clBtnFace);
      break;
    case ebs3D:
      ACanvas->DrawEdge(R, true, true);
      R = vlInflateRectBy(R, -1, -1);
      ACanvas->DrawComplexFrame(R, cl3DDkShadow, cl3DLight);
      break;
    case ebsUltraFlat:
    case ebsOffice11:
      ACanvas->FrameRect(R, FlatFrameColor(AStyle, AEditState, AIsDesigning, AFocused));
      break;
  }
}

TColor FlatContentColor(TvlEditBorderStyle AStyle, TvlCheckBoxState AState, TvlCheckBoxNullValueShowingStyle ANull,
                        TvlEditCheckState AEditState) {
  switch (AEditState) {
    case ecsNormal: return (AState == cbsGrayed && ANull == nssInactive) ? clBtnFace : clWindow;
    case ecsHot:
    case ecsPressed: return vlGetFlatButtonColor(AEditState == ecsPressed, AStyle == ebsOffice11);
    default: return clBtnFace;
  }
}

// The flat styles: the content filled, then the mask copied in the mark colour.
void DrawFlatContent(TvlCanvas* ACanvas, const TRect& ACheckRect, const TRect& AContent, TvlCheckBoxState AState,
                     TvlCheckBoxNullValueShowingStyle ANull, TvlEditBorderStyle AStyle, TvlEditCheckState AEditState) {
  const HDC dc = ACanvas->Handle();
  const TRect content = AContent;
  FillRect(dc, &content, vlGetSolidBrush(FlatContentColor(AStyle, AState, ANull, AEditState)));
  const Boolean grayed = AState == cbsGrayed;
  if (!(AState == cbsChecked || (grayed && ANull == nssGrayedChecked)) || !gCheckMarkMask) return;
  const TColor mark = (AEditState == ecsDisabled || grayed) ? clBtnShadow : clBtnText;
  ACanvas->SaveClipRegion();
  Finally restoreClip([&] { ACanvas->RestoreClipRegion(); });
  ACanvas->IntersectClipRect(content);
  const HBRUSH oldBrush = HBRUSH(SelectObject(dc, vlGetSolidBrush(mark)));
  const COLORREF oldText = SetTextColor(dc, 0), oldBk = SetBkColor(dc, 0xFFFFFF);
  BitBlt(dc, ACheckRect.Left, ACheckRect.Top, gCheckMarkMask->Width(), gCheckMarkMask->Height(),
         gCheckMarkMask->Canvas()->Handle(), 0, 0, kRopMaskToBrush);
  SetTextColor(dc, oldText);
  SetBkColor(dc, oldBk);
  SelectObject(dc, oldBrush);
}

// The other styles: the system's frame control, clipped to the content.
void DrawFrameControlContent(TvlCanvas* ACanvas, const TRect& ACheckRect, const TRect& AContent,
                             TvlCheckBoxState AState, TvlCheckBoxNullValueShowingStyle ANull,
                             TvlEditBorderStyle AStyle, TvlEditCheckState AEditState) {
  UINT flags = DFCS_BUTTONCHECK;
  const Boolean markShown = AState == cbsChecked || (AState == cbsGrayed && ANull == nssGrayedChecked);
  if (AEditState == ecsDisabled) {
    flags |= DFCS_PUSHED | DFCS_BUTTON3STATE | (markShown ? DFCS_CHECKED : DFCS_INACTIVE);
  } else {
    if (AState == cbsChecked) flags |= DFCS_CHECKED;
    if (AState == cbsGrayed) flags |= DFCS_BUTTON3STATE | (ANull == nssInactive ? DFCS_INACTIVE : DFCS_CHECKED);
    if (AEditState == ecsPressed) flags |= DFCS_PUSHED;
  }
  if (AStyle != ebs3D) flags |= DFCS_FLAT;
  ACanvas->SaveClipRegion();
  Finally restoreClip([&] { ACanvas->RestoreClipRegion(); });
  ACanvas->IntersectClipRect(AContent);
  RECT r = ACheckRect;
  DrawFrameControl(ACanvas->Handle(), &r, DFC_BUTTON, flags);
}

}  // namespace

// A strip with cells (shared with vlCheckBoxView.cpp).
Boolean vlIsCheckGlyphUsable(TBitmap* AGlyph, Integer AGlyphCount) {
  return AGlyphCount > 0 && AGlyph && !AGlyph->Empty();
}

// --- Size, offsets, cells ----------------------------------------------------------------------------

void vlCheckGlyphSize(TvlCanvas*, Boolean ANativeStyle, TBitmap* AGlyph, TSize& ASize,
                      TvlCustomLookAndFeelPainterClass APainter, Integer AGlyphCount) {
  if (vlIsCheckGlyphUsable(AGlyph, AGlyphCount))
    ASize = TSize{AGlyph->Width() / AGlyphCount, AGlyph->Height()};
  else if (APainter)
    ASize = APainter->CheckButtonSize();
  else if (ANativeStyle && nbGetThemeHandle(totButton))
    ASize = ClassOf<TvlWinXPLookAndFeelPainter>()->CheckButtonSize();
  else
    ASize = ClassOf<TvlCustomLookAndFeelPainter>()->CheckButtonSize();
}

Integer vlCheckGlyphBorderOffset(TvlEditBorderStyle ABorderStyle, Boolean ANativeStyle, Boolean AHasGlyph,
                                 TvlCustomLookAndFeelPainterClass APainter) {
  if (ANativeStyle || AHasGlyph || APainter) return 0;
  return 2 - BorderWidthOfStyle(ABorderStyle);
}

Integer vlCheckGlyphBorderOffsetByKind(TvlLookAndFeelKind AKind, Boolean ANativeStyle, Boolean AHasGlyph,
                                       TvlCustomLookAndFeelPainterClass APainter) {
  if (ANativeStyle || AHasGlyph || APainter) return 0;
  return 2 - BorderWidthOfKind(AKind);
}

Integer vlCheckGlyphImageIndex(TvlCheckBoxState ACheckState, TvlEditCheckState AEditCheckState,
                               Boolean AGrayedShowingStyleIsChecked, Integer AGlyphCount) {
  const Integer statesPerGroup =
      (AGrayedShowingStyleIsChecked || AGlyphCount % 3 == 0 || AGlyphCount % 2 == 1) ? 3 : 2;
  Integer index = Integer(ACheckState);
  if (AEditCheckState == ecsPressed) index += statesPerGroup;
  if (index >= AGlyphCount && index > statesPerGroup - 1) index %= statesPerGroup;
  return index;
}

Integer vlCheckBoxThemeState(TvlCheckBoxState ACheckState, TvlEditCheckState AEditCheckState) {
  return 1 + 4 * Integer(ACheckState) + Integer(AEditCheckState);
}

TvlButtonState vlEditCheckStateToButtonState(TvlEditCheckState AState) {
  switch (AState) {
    case ecsHot: return vlbsHot;
    case ecsPressed: return vlbsPressed;
    case ecsDisabled: return vlbsDisabled;
    default: return vlbsNormal;
  }
}

// --- Drawing -------------------------------------------------------------------------------------------

void vlPaintCheckGlyph(TvlCanvas* ACanvas, const TRect& ACheckRect, TvlCheckBoxState AState,
                       TvlCheckBoxNullValueShowingStyle ANullValueShowingStyle,
                       TvlCustomLookAndFeelPainterClass APainter, Boolean AGrayedGlyphsPresent, Boolean AFocused,
                       Boolean AIsDesigning, Boolean AFillBackground, TColor ABackgroundColor, TColor ABorderColor,
                       Boolean ANativeStyle, TvlEditBorderStyle ABorderStyle, Integer AGlyphCount, TBitmap* AGlyph,
                       TvlEditCheckState AEditCheckState) {
  if (!AFillBackground) ABackgroundColor = clNone;
  if (AState == cbsGrayed && ANullValueShowingStyle == nssUnchecked) AState = cbsUnchecked;

  if (vlIsCheckGlyphUsable(AGlyph, AGlyphCount)) {
    DrawUserGlyph(ACanvas, ACheckRect, AState, AGrayedGlyphsPresent, AGlyphCount, AGlyph, ABackgroundColor,
                  AEditCheckState);
    return;
  }
  if (APainter) {
    if (AFillBackground) ACanvas->FillRect(ACheckRect, ABackgroundColor);
    APainter->DrawCheckButton(ACanvas, ACheckRect, vlEditCheckStateToButtonState(AEditCheckState), AState);
    return;
  }
  if (ANativeStyle) {
    const RECT r = ACheckRect;
    DrawThemeBackground(nbGetThemeHandle(totButton), ACanvas->Handle(), BP_CHECKBOX,
                        vlCheckBoxThemeState(AState, AEditCheckState), &r, nullptr);
    return;
  }

  TRect r = ACheckRect;
  const Integer offset = vlCheckGlyphBorderOffset(ABorderStyle, false, false, nullptr);
  if (AFillBackground && offset > 0) ACanvas->FrameRect(r, ABackgroundColor, offset);
  r = vlInflateRectBy(r, -offset, -offset);
  DrawFrame(ACanvas, r, ABorderStyle, ABorderColor, AEditCheckState, AIsDesigning, AFocused);

  const TRect content = vlInflateRectBy(ACheckRect, -2, -2);
  if (ABorderStyle == ebsUltraFlat || ABorderStyle == ebsOffice11)
    DrawFlatContent(ACanvas, ACheckRect, content, AState, ANullValueShowingStyle, ABorderStyle, AEditCheckState);
  else
    DrawFrameControlContent(ACanvas, ACheckRect, content, AState, ANullValueShowingStyle, ABorderStyle,
                            AEditCheckState);
}

// --- The check-mark mask --------------------------------------------------------------------------------

TBitmap* vlCheckMarkMask() { return gCheckMarkMask; }

// Black where the checked cell of the system picture differs from the
// unchecked one: exactly the pixels of the mark.
void vlCreateCheckMarkMask() {
  const TSize size = ClassOf<TvlCustomLookAndFeelPainter>()->CheckButtonSize();
  gCheckMarkMask = New<TBitmap>();
  gCheckMarkMask->SetMonochrome(true);
  gCheckMarkMask->SetSize(size.cx, size.cy);
  const HBITMAP system = LoadBitmapW(nullptr, MAKEINTRESOURCEW(OBM_CHECKBOXES));
  if (!system) return;
  const HDC dc = CreateCompatibleDC(nullptr);
  const HGDIOBJ old = SelectObject(dc, system);
  TCanvas* mask = gCheckMarkMask->Canvas();
  for (Integer y = 0; y < size.cy; ++y)
    for (Integer x = 0; x < size.cx; ++x)
      mask->SetPixels(x, y, GetPixel(dc, x + size.cx, y) == GetPixel(dc, x, y) ? clWhite : clBlack);
  SelectObject(dc, old);
  DeleteDC(dc);
  DeleteObject(system);
}

void vlFreeCheckMarkMask() { FreeAndNil(gCheckMarkMask); }
