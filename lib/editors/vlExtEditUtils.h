// Small text and value helpers of the extended editors (the label, the check
// list box): non-negative rectangle extents, text flags from alignments,
// rotated fonts, and tests of variants and number texts.
#pragma once

#include "lib/editors/vlEditProperties.h"

class TCanvas;

Integer vlGetNonNegativeRectWidth(const TRect& R);
Integer vlGetNonNegativeRectHeight(const TRect& R);
// ORs into ABase either DrawText flags (AWindowsFlags) or the library canvas flags.
Integer vlMakeTextFlags(Integer ABase, TAlignment AHorzAlignment, TvlEditVertAlignment AVertAlignment,
                        Boolean AShowPrefix, Boolean AWindowsFlags, Integer ATabWidth, Boolean AWordWrap,
                        Boolean AShowEndEllipsis);
Boolean vlIsVarEmptyOrNull(const Variant& AValue);
// The trimmed text is not empty and is a whole 32-bit integer.
Boolean vlIsValidIntegerText(const String& AText);
// The trimmed text is not empty, holds digits, the locale's decimal separator
// at most once and a leading minus, and lies within +-1.7e308.
Boolean vlIsValidFloatText(const String& AText);
// Gives the canvas the font, rotated by AAngle degrees when it is TrueType;
// answers whether it is TrueType.
Boolean vlSelectRotatedFont(TCanvas* ACanvas, TFont* AFont, Integer AAngle);
// The angle within 0..359 for TrueType fonts; 0 otherwise.
Integer vlNormalizeTextAngle(Integer AAngle, Boolean AIsTrueType);
