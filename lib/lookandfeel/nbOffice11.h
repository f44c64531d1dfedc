// The Office 2003 colour scheme: one process-wide palette of 81 colours,
// read from a fixed table for the blue, olive and silver variants of the
// system's default theme, derived from the system colours otherwise; the
// brushes and bitmaps made from it, and the gradient, frame, grip-dot and
// arrow drawing that the Office 2003 painters share. Main thread only.
#pragma once

#include "platform/rtl/Types.h"
#include "platform/vcl/Graphics.h"
#include "platform/win/WinTypes.h"

// --- The palette (values stay readable after the last release) ---------------------

extern TColor nbOffice11FaceColor, nbOffice11LightFaceColor, nbOffice11GradientLightColor,
    nbOffice11GradientDarkColor, nbOffice11Color04, nbOffice11Color05, nbOffice11Color06, nbOffice11Color07,
    nbOffice11Color08, nbOffice11Color09, nbOffice11Color10, nbOffice11Color11, nbOffice11Color12,
    nbOffice11Color13, nbOffice11Color14, nbOffice11Color15, nbOffice11Color16, nbOffice11Color17,
    nbOffice11Color18, nbOffice11Color19, nbOffice11DarkEdgeColor, nbOffice11LightEdgeColor, nbOffice11Color22,
    nbOffice11Color23, nbOffice11FilterBoxColor, nbOffice11Color25, nbOffice11Color26, nbOffice11Color27,
    nbOffice11FilterBoxTextColor, nbOffice11Color29, nbOffice11Color30, nbOffice11Color31, nbOffice11Color32,
    nbOffice11Color33, nbOffice11Color34, nbOffice11Color35, nbOffice11Color36, nbOffice11Color37,
    nbOffice11BorderColor, nbOffice11Color39, nbOffice11HotColor, nbOffice11HighlightBorderColor,
    nbOffice11HotButtonColor, nbOffice11HotButtonColor2, nbOffice11PressedButtonColor,
    nbOffice11PressedButtonColor2, nbOffice11Color46, nbOffice11Color47, nbOffice11Color48, nbOffice11Color49,
    nbOffice11Color50, nbOffice11TextColor, nbOffice11DisabledTextColor, nbOffice11Color53, nbOffice11Color54,
    nbOffice11GroupByBoxColor, nbOffice11Color56, nbOffice11Color57, nbOffice11GroupColor,
    nbOffice11DateSelectionColor, nbOffice11SchedulerBorderColor, nbOffice11SchedulerControlColor,
    nbOffice11Color62, nbOffice11Color63, nbOffice11Color64, nbOffice11Color65, nbOffice11Color66,
    nbOffice11Color67, nbOffice11Color68, nbOffice11Color69, nbOffice11Color70, nbOffice11Color71,
    nbOffice11Color72, nbOffice11Color73, nbOffice11Color74, nbOffice11Color75, nbOffice11Color76,
    nbOffice11Color77, nbOffice11Color78, nbOffice11ExpandButtonLightColor, nbOffice11ExpandButtonDarkColor;

// The 81 entries in table order (index 0 nbOffice11FaceColor ... 80
// nbOffice11ExpandButtonDarkColor), for code that walks the palette.
constexpr Integer nbOffice11PaletteSize = 81;
TColor nbOffice11PaletteColor(Integer AIndex);

// --- Life of the palette, brushes and bitmaps ------------------------------------

// The first call computes the palette and makes the brushes and bitmaps;
// every call counts.
void nbAcquireOffice11Colors();
// The last matching call frees the brushes and bitmaps (the palette stays).
void nbDropOffice11Colors();
// Recomputes the palette; while acquired, remakes the brushes and bitmaps.
void nbReloadOffice11Colors();

// 0 no scheme, 1 blue, 2 olive, 3 silver (found at the last computation).
Byte nbOffice11ColorScheme();
// Themes are available and a scheme was recognised.
Boolean nbUsesOffice11SchemeColors();
// 41 blue, 125 olive, 40 silver, 75 without a scheme.
Integer nbOffice11GradientPercent();

// The sub-menu expand arrow (recoloured with the gradient colours) and the
// 11 x 11 expand-button images; nil while the colours are not acquired or
// the resource is missing. Owned by the module.
TBitmap* nbOffice11SubMenuExpandBitmap();
TBitmap* nbOffice11ExpandButtonBitmap(Boolean AExpanded);

// --- Colour helpers ------------------------------------------------------------------

Boolean nbIsBtnFaceBlack();
Boolean nbIsBtnFaceWhite();
Boolean nbIsBlackFaceDarkText();
// Per channel MulDiv(A, p, 100) + MulDiv(B, 100 - p, 100), at most 255,
// then the nearest screen colour.
TColor nbBlendColors(TColor AColor1, TColor AColor2, Integer APercent);
// Each channel times APercent / 100, rounded.
TColor nbScaleColorBrightness(TColor AColor, Integer APercent);
// Per channel clBtnFace * x + clHighlight * y + clWindow * z (percent),
// clamped; clHighlight itself when clBtnFace is black or white.
TColor nbMixSystemColors(Integer ABtnFacePercent, Integer AHighlightPercent, Integer AWindowPercent);

// --- Drawing -------------------------------------------------------------------------

void nbSolidFillRect(win::HDC DC, const TRect& R, TColor AColor);
void nbSolidFrameRect(win::HDC DC, const TRect& R, TColor AColor);
// A two-colour gradient (GradientFill, or bands without it); solid when the
// colours are equal.
void nbFillGradientRect(win::HDC DC, const TRect& R, TColor AColor1, Boolean AHorizontal, TColor AColor2);
// The soft gradient of the scheme (its percentage), one line at a time.
void nbFillOffice11GradientRect(win::HDC DC, const TRect& R, TColor AColor1, Boolean AHorizontal, TColor AColor2);
// The colour nbFillGradientRect's bands give at X (or Y when vertical).
TColor nbGradientColorAt(const TRect& R, Integer X, TColor AColor1, Boolean AHorizontal, TColor AColor2);
void nbOffice11FrameRect(win::HDC DC, const TRect& R);
// Nil brushes take the module's default dark and light brushes.
void nbDrawOffice11GripDots(win::HDC DC, const TRect& R, Boolean AVertical, win::HBRUSH ALightBrush = nullptr,
                            win::HBRUSH ADarkBrush = nullptr);
// clDefault keeps the module's default brushes.
void nbDrawOffice11SizeGripDots(win::HDC DC, const TRect& R, TColor AColor1 = clDefault,
                                TColor AColor2 = clDefault);
void nbDrawOffice11ItemArrow(win::HDC DC, const TRect& R, Boolean AVertical, Boolean AEnabled, Boolean ASelected,
                             TColor AColor);
// A filled triangle of ASize pointing right (AVertical: down), centred in
// R, in AColor.
void nbDrawOffice11ArrowSized(win::HDC DC, const TRect& R, Boolean AVertical, TColor AColor, Integer ASize);

// The unit's start-up and shut-down (msimg32's GradientFill, the theme
// listener); public so tests can restart the unit.
void nbOffice11Initialize();
void nbOffice11Finalize();
