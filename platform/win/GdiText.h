// Text output and font metrics of the Win32-shaped graphics API: text
// metrics and extents, TextOut/ExtTextOut, tabbed text, DrawText, character
// spacing and justification, and the system fonts of the non-client metrics.
//
// Glyphs come from FreeType; face names map to installed fonts through
// FontMap.h. Names, structures, constants and values are the platform's.
#pragma once

#include "platform/rtl/CodePages.h"
#include "platform/win/Gdi.h"

namespace win {

// ---------------------------------------------------------------------------
// Structures

struct TEXTMETRICW {
  LONG tmHeight{};
  LONG tmAscent{};
  LONG tmDescent{};
  LONG tmInternalLeading{};
  LONG tmExternalLeading{};
  LONG tmAveCharWidth{};
  LONG tmMaxCharWidth{};
  LONG tmWeight{};
  LONG tmOverhang{};
  LONG tmDigitizedAspectX{};
  LONG tmDigitizedAspectY{};
  WCHAR tmFirstChar{};
  WCHAR tmLastChar{};
  WCHAR tmDefaultChar{};
  WCHAR tmBreakChar{};
  BYTE tmItalic{};
  BYTE tmUnderlined{};
  BYTE tmStruckOut{};
  BYTE tmPitchAndFamily{};
  BYTE tmCharSet{};
};
static_assert(sizeof(TEXTMETRICW) == 60);
using TEXTMETRIC = TEXTMETRICW;

struct TEXTMETRICA {
  LONG tmHeight{};
  LONG tmAscent{};
  LONG tmDescent{};
  LONG tmInternalLeading{};
  LONG tmExternalLeading{};
  LONG tmAveCharWidth{};
  LONG tmMaxCharWidth{};
  LONG tmWeight{};
  LONG tmOverhang{};
  LONG tmDigitizedAspectX{};
  LONG tmDigitizedAspectY{};
  BYTE tmFirstChar{};
  BYTE tmLastChar{};
  BYTE tmDefaultChar{};
  BYTE tmBreakChar{};
  BYTE tmItalic{};
  BYTE tmUnderlined{};
  BYTE tmStruckOut{};
  BYTE tmPitchAndFamily{};
  BYTE tmCharSet{};
};
static_assert(sizeof(TEXTMETRICA) == 56);

struct ABC {
  int abcA{};
  UINT abcB{};
  int abcC{};
};
using LPABC = ABC*;

struct DRAWTEXTPARAMS {
  UINT cbSize{};
  int iTabLength{};
  int iLeftMargin{};
  int iRightMargin{};
  UINT uiLengthDrawn{};
};
using LPDRAWTEXTPARAMS = DRAWTEXTPARAMS*;

struct NONCLIENTMETRICSW {
  UINT cbSize{};
  int iBorderWidth{};
  int iScrollWidth{};
  int iScrollHeight{};
  int iCaptionWidth{};
  int iCaptionHeight{};
  LOGFONTW lfCaptionFont{};
  int iSmCaptionWidth{};
  int iSmCaptionHeight{};
  LOGFONTW lfSmCaptionFont{};
  int iMenuWidth{};
  int iMenuHeight{};
  LOGFONTW lfMenuFont{};
  LOGFONTW lfStatusFont{};
  LOGFONTW lfMessageFont{};
  int iPaddedBorderWidth{};
};
static_assert(sizeof(NONCLIENTMETRICSW) == 504);
using NONCLIENTMETRICS = NONCLIENTMETRICSW;

// ---------------------------------------------------------------------------
// Constants

// The font character sets (lfCharSet, tmCharSet) live at global scope in the
// run-time library; they are the win layer's names too.
using ::ANSI_CHARSET;
using ::ARABIC_CHARSET;
using ::BALTIC_CHARSET;
using ::CHINESEBIG5_CHARSET;
using ::DEFAULT_CHARSET;
using ::EASTEUROPE_CHARSET;
using ::GB2312_CHARSET;
using ::GREEK_CHARSET;
using ::HANGEUL_CHARSET;
using ::HEBREW_CHARSET;
using ::JOHAB_CHARSET;
using ::MAC_CHARSET;
using ::OEM_CHARSET;
using ::RUSSIAN_CHARSET;
using ::SHIFTJIS_CHARSET;
using ::SYMBOL_CHARSET;
using ::THAI_CHARSET;
using ::TURKISH_CHARSET;
using ::VIETNAMESE_CHARSET;

// Font weights, qualities, precisions, pitches and families (LOGFONTW fields)
constexpr LONG FW_DONTCARE = 0, FW_THIN = 100, FW_EXTRALIGHT = 200, FW_LIGHT = 300, FW_NORMAL = 400,
               FW_REGULAR = 400, FW_MEDIUM = 500, FW_SEMIBOLD = 600, FW_DEMIBOLD = 600, FW_BOLD = 700,
               FW_EXTRABOLD = 800, FW_HEAVY = 900;
constexpr BYTE DEFAULT_QUALITY = 0, DRAFT_QUALITY = 1, PROOF_QUALITY = 2, NONANTIALIASED_QUALITY = 3,
               ANTIALIASED_QUALITY = 4, CLEARTYPE_QUALITY = 5, CLEARTYPE_NATURAL_QUALITY = 6;
constexpr BYTE OUT_DEFAULT_PRECIS = 0, OUT_STRING_PRECIS = 1, OUT_CHARACTER_PRECIS = 2, OUT_STROKE_PRECIS = 3,
               OUT_TT_PRECIS = 4, OUT_DEVICE_PRECIS = 5, OUT_RASTER_PRECIS = 6, OUT_TT_ONLY_PRECIS = 7,
               OUT_OUTLINE_PRECIS = 8, OUT_PS_ONLY_PRECIS = 10;
constexpr BYTE CLIP_DEFAULT_PRECIS = 0, CLIP_CHARACTER_PRECIS = 1, CLIP_STROKE_PRECIS = 2;
constexpr BYTE DEFAULT_PITCH = 0, FIXED_PITCH = 1, VARIABLE_PITCH = 2;
constexpr BYTE FF_DONTCARE = 0x00, FF_ROMAN = 0x10, FF_SWISS = 0x20, FF_MODERN = 0x30, FF_SCRIPT = 0x40,
               FF_DECORATIVE = 0x50;
// tmPitchAndFamily bits
constexpr BYTE TMPF_FIXED_PITCH = 0x01, TMPF_VECTOR = 0x02, TMPF_TRUETYPE = 0x04, TMPF_DEVICE = 0x08;

// ExtTextOut options
constexpr UINT ETO_OPAQUE = 0x0002, ETO_CLIPPED = 0x0004, ETO_GLYPH_INDEX = 0x0010, ETO_RTLREADING = 0x0080,
               ETO_IGNORELANGUAGE = 0x1000, ETO_PDY = 0x2000;

// DrawText formats
constexpr UINT DT_TOP = 0x00000000, DT_LEFT = 0x00000000, DT_CENTER = 0x00000001, DT_RIGHT = 0x00000002,
               DT_VCENTER = 0x00000004, DT_BOTTOM = 0x00000008, DT_WORDBREAK = 0x00000010,
               DT_SINGLELINE = 0x00000020, DT_EXPANDTABS = 0x00000040, DT_TABSTOP = 0x00000080,
               DT_NOCLIP = 0x00000100, DT_EXTERNALLEADING = 0x00000200, DT_CALCRECT = 0x00000400,
               DT_NOPREFIX = 0x00000800, DT_INTERNAL = 0x00001000, DT_EDITCONTROL = 0x00002000,
               DT_PATH_ELLIPSIS = 0x00004000, DT_END_ELLIPSIS = 0x00008000, DT_MODIFYSTRING = 0x00010000,
               DT_RTLREADING = 0x00020000, DT_WORD_ELLIPSIS = 0x00040000,
               DT_NOFULLWIDTHCHARBREAK = 0x00080000, DT_HIDEPREFIX = 0x00100000, DT_PREFIXONLY = 0x00200000;

// SystemParametersInfo actions answered by the text layer
constexpr UINT SPI_GETICONTITLELOGFONT = 0x001F, SPI_GETNONCLIENTMETRICS = 0x0029;

// ---------------------------------------------------------------------------
// Metrics and extents

BOOL GetTextMetricsW(HDC hdc, TEXTMETRICW* lptm);
BOOL GetTextMetricsA(HDC hdc, TEXTMETRICA* lptm);
inline BOOL GetTextMetrics(HDC hdc, TEXTMETRICW* lptm) { return GetTextMetricsW(hdc, lptm); }
// Copies the selected font's face name (at most c characters with the
// terminating zero) and answers the characters copied; with a nil buffer,
// the length the name needs including the zero.
int GetTextFaceW(HDC hdc, int c, LPWSTR lpName);
// The extent of c characters in the selected font, with the character extra
// and the justification in effect. Fails for c < 0.
BOOL GetTextExtentPoint32W(HDC hdc, LPCWSTR lpString, int c, LPSIZE psizl);
inline BOOL GetTextExtentPointW(HDC hdc, LPCWSTR lpString, int c, LPSIZE psizl) {
  return GetTextExtentPoint32W(hdc, lpString, c, psizl);
}
// The same, plus the partial extents of the first 1..cchString characters in
// lpnDx and, when lpnFit is given, how many characters fit in nMaxExtent.
BOOL GetTextExtentExPointW(HDC hdc, LPCWSTR lpszString, int cchString, int nMaxExtent, LPINT lpnFit,
                           LPINT lpnDx, LPSIZE lpSize);
BOOL GetCharWidth32W(HDC hdc, UINT iFirst, UINT iLast, LPINT lpBuffer);
inline BOOL GetCharWidthW(HDC hdc, UINT iFirst, UINT iLast, LPINT lpBuffer) {
  return GetCharWidth32W(hdc, iFirst, iLast, lpBuffer);
}
BOOL GetCharABCWidthsW(HDC hdc, UINT wFirst, UINT wLast, LPABC lpABC);
UINT GetTextCharset(HDC hdc);

// ---------------------------------------------------------------------------
// Spacing

int SetTextCharacterExtra(HDC hdc, int extra);
int GetTextCharacterExtra(HDC hdc);
// Spreads breakExtra pixels over the next output's breakCount break characters.
BOOL SetTextJustification(HDC hdc, int breakExtra, int breakCount);

// ---------------------------------------------------------------------------
// Output

BOOL TextOutW(HDC hdc, int x, int y, LPCWSTR lpString, int c);
inline BOOL TextOut(HDC hdc, int x, int y, LPCWSTR lpString, int c) {
  return TextOutW(hdc, x, y, lpString, c);
}
BOOL ExtTextOutW(HDC hdc, int x, int y, UINT options, const RECT* lprect, LPCWSTR lpString, UINT c,
                 const INT* lpDx);
inline BOOL ExtTextOut(HDC hdc, int x, int y, UINT options, const RECT* lprect, LPCWSTR lpString, UINT c,
                       const INT* lpDx) {
  return ExtTextOutW(hdc, x, y, options, lprect, lpString, c, lpDx);
}

// Tabbed text: tab stops at the given positions from nTabOrigin, every
// lpnTabStopPositions[0] pixels for one position, every 8 average character
// widths for none. The answers carry the width in the low and the height in
// the high 16 bits.
DWORD GetTabbedTextExtentW(HDC hdc, LPCWSTR lpString, int chCount, int nTabPositions,
                           const INT* lpnTabStopPositions);
LONG TabbedTextOutW(HDC hdc, int x, int y, LPCWSTR lpString, int chCount, int nTabPositions,
                    const INT* lpnTabStopPositions, int nTabOrigin);

// DrawText: formatted text in a rectangle. cchText -1 (or any negative)
// means a zero-terminated text. Answers the height of the text (from the
// rectangle's top to the bottom of the text for DT_VCENTER and DT_BOTTOM),
// 0 on failure. DT_MODIFYSTRING writes the shortened text back into the
// caller's buffer, which must hold cchText + 4 characters.
int DrawTextW(HDC hdc, LPCWSTR lpchText, int cchText, LPRECT lprc, UINT format);
int DrawTextExW(HDC hdc, LPWSTR lpchText, int cchText, LPRECT lprc, UINT format, LPDRAWTEXTPARAMS lpdtp);
inline int DrawText(HDC hdc, LPCWSTR lpchText, int cchText, LPRECT lprc, UINT format) {
  return DrawTextW(hdc, lpchText, cchText, lprc, format);
}

// ---------------------------------------------------------------------------
// System fonts

// The font part of SystemParametersInfoW: SPI_GETNONCLIENTMETRICS (cbSize 504,
// or 500 without iPaddedBorderWidth) and SPI_GETICONTITLELOGFONT (uiParam
// sizeof(LOGFONTW) or 0), with the platform's defaults for version 6.1: every
// font "Segoe UI" 9 pt (-12 at 96 pixels per inch), normal weight. Answers
// FALSE for other actions, so the window layer's SystemParametersInfoW can
// hand these two to it.
BOOL SystemFontParametersInfoW(UINT uiAction, UINT uiParam, void* pvParam, UINT fWinIni);

}  // namespace win
