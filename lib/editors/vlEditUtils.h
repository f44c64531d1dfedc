// Free-standing drawing and measuring operations shared by the editors:
// button arrows and one-pixel frames, glyphs enabled and disabled,
// polylines, fills, the background-and-buttons painting of a view info, the
// button width and arrow size rules, the colours of flat and Office 2003
// borders and buttons, and the conversions between the library's text-output
// flags and the platform's DrawText flags. None of them keeps state.
#pragma once

#include <vector>

#include "lib/editors/vlEditProperties.h"
#include "lib/lookandfeel/nbThemeManager.h"
#include "lib/lookandfeel/vlLookAndFeelPainters.h"
#include "platform/win/WinTypes.h"

namespace win {
struct LOGFONTW;
}

class TCustomImageList;
class TvlCustomEditViewInfo;
class TvlEditButtonViewInfo;

// The sides of vlDrawEditButtonFrame.
constexpr Integer vlEditFrameLeft = 1, vlEditFrameTop = 2, vlEditFrameRight = 4, vlEditFrameBottom = 8;

// The library's text-output flags that map onto DrawText flags.
constexpr Integer vlTextOutVCenter = 1, vlTextOutRight = 2, vlTextOutSingleLine = 16, vlTextOutWordBreak = 32,
                  vlTextOutCalcRect = 256, vlTextOutExpandTabs = 512;

// One arrow, or two one after the other, of AArrowSize rows (columns),
// centred in AContentRect and moved one pixel right and down when AOffsetContent.
void vlDrawButtonArrow(TvlCanvas* ACanvas, Integer AArrowSize, const TRect& AContentRect, TColor AColor,
                       Boolean AOffsetContent, Boolean AIsDoubleArrow, TvlArrowDirection AArrowDirection);
// One-pixel lines on the chosen sides; ARect shrinks by one on each drawn side.
void vlDrawEditButtonFrame(TvlCanvas* ACanvas, TRect& ARect, Integer ASides, TColor AColor);
void vlDrawEditGlyph(TvlCanvas* ACanvas, Integer X, Integer Y, TBitmap* AGlyph, TColor ABrushColor,
                     Boolean AEnabled, TBitmap* ABackgroundBitmap = nullptr);
void vlDrawImageListGlyph(TvlCanvas* ACanvas, TCustomImageList* AImageList, Integer AIndex, TBitmap* ABitmap,
                          Boolean AEnabled, TColor ABrushColor, const TRect& ARect);
TvlCustomLookAndFeelPainterClass vlGetButtonPainterClass(Boolean ANativeStyle, TvlLookAndFeelKind AKind);
// ACount segments through ACount + 1 points, with the pen or filled pixel by pixel.
void vlDrawPolyline(TvlCanvas* ACanvas, const TPoint* APoints, Integer ACount, Boolean AFillMode, TColor AColor);
Boolean vlIsGlyphValid(TBitmap* ABitmap);
Boolean vlIsImageListValid(TCustomImageList* AImageList);
Integer vlCalculateEditButtonWidth(TvlCanvas* ACanvas, TvlEditButtonViewInfo* AButtonViewInfo);
void vlFillRectByColor(TvlCanvas* ACanvas, const TRect& ARect, TColor AColor);
void vlFillRectByBrush(win::HDC ADC, const TRect& ARect, win::HBRUSH ABrush);
Boolean vlIsDigitCharacter(Char AChar);
Boolean vlIsBlankChar(Char AChar);
Integer vlMapTextOutFlagsToDrawText(Integer AFlags);
Integer vlConvertDrawTextFlags(Integer AFlags);
// Fills ARect without AInnerRect (four bands).
void vlFillRectExceptInner(TvlCanvas* ACanvas, const TRect& ARect, const TRect& AInnerRect, win::HBRUSH ABrush);
void vlDrawEditBackgroundAndButtons(TvlCanvas* ACanvas, TvlCustomEditViewInfo* AViewInfo, Boolean AFill,
                                    TvlEditBackgroundPaintingStyle ABackgroundStyle = bpsSolid);
TSize vlCalculateArrowSize(const TSize& ASize, TvlArrowDirection AArrowDirection);
Integer vlGetButtonContentVerticalIndent(TvlCanvas* ACanvas, TvlEditButtonStyle AButtonsStyle,
                                         Boolean ANativeStyle);
Integer vlNativeInplaceButtonHeightFix(TvlCustomEditProperties* AProperties, Boolean AIsInplace);
TColor vlGetFlatEditBorderColor(Boolean AOffice11);
TColor vlGetFlatButtonColor(Boolean APressed, Boolean AOffice11);
void vlSetCanvasFontFromLogFont(TvlCanvas* ACanvas, const win::LOGFONTW& ALogFont);
Boolean vlGetCanvasLogFont(TvlCanvas* ACanvas, win::LOGFONTW& ALogFont);
// The margins of a theme's content rectangle (part, state) inside a 100 x 100 rectangle.
TRect vlGetThemeContentMargins(TnbThemedObjectType AType, Integer APart, Integer AState);
