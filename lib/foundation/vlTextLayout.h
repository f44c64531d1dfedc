// The library's text layout engine: breaks a text into rows (by words, by
// characters, with the Far-East no-break rules and the spreadsheet-style
// rule), places the rows by alignment and draws them with an optional end
// ellipsis, justification, a highlighted range of characters and a pattern
// bar in place of text too small to read. It takes the place of the system's
// text drawing for the library's multi-line captions, cells and editors.
//
// The format flags are the engine's own bit layout (VLTO_*), not the
// system's text-drawing flags.
#pragma once

#include <vector>

#include "platform/rtl/Geometry.h"
#include "platform/rtl/Types.h"
#include "platform/win/WinTypes.h"

class TFont;
class TvlCanvas;

// --- Format flags ---------------------------------------------------------------

enum TvlTextAlignX : Byte { taLeft, taCenterX, taRight, taJustifyX, taDistributeX };
enum TvlTextAlignY : Byte { taTop, taCenterY, taBottom, taDistributeY };

constexpr Cardinal VLTO_LEFT = 0x0, VLTO_CENTER_HORIZONTALLY = 0x1, VLTO_RIGHT = 0x2,
                   VLTO_JUSTIFY_HORIZONTALLY = 0x3, VLTO_DISTRIBUTE_HORIZONTALLY = 0x4, VLTO_TOP = 0x0,
                   VLTO_CENTER_VERTICALLY = 0x10, VLTO_BOTTOM = 0x20, VLTO_DISTRIBUTE_VERTICALLY = 0x30,
                   VLTO_WORDBREAK = 0x100, VLTO_SINGLELINE = 0x200, VLTO_EXPANDTABS = 0x400,
                   VLTO_END_ELLIPSIS = 0x800, VLTO_PATTERNEDTEXT = 0x1000, VLTO_EXTERNALLEADING = 0x2000,
                   VLTO_EDITCONTROL = 0x4000, VLTO_NOCLIP = 0x8000, VLTO_AUTOINDENTS = 0x10000,
                   VLTO_CHARBREAK = 0x20000, VLTO_PREVENT_LEFT_EXCEED = 0x40000,
                   VLTO_PREVENT_TOP_EXCEED = 0x80000, VLTO_CALCRECT = 0x100000, VLTO_CALCROWCOUNT = 0x200000,
                   VLTO_HIDEPREFIX = 0x1000000, VLTO_EXCELSTYLE = 0x2000000;

// The parameters of one layout, from a DC and the format flags.
struct TvlTextParams {
  Integer RowHeight{};
  Integer tmExternalLeading{};
  Integer FullRowHeight{};
  Integer EndEllipsisWidth{};
  Boolean Bold{};
  Char BreakChar{};
  TvlTextAlignX TextAlignX{};
  TvlTextAlignY TextAlignY{};
  Boolean WordBreak{};
  Boolean SingleLine{};
  Boolean ExpandTabs{};
  Boolean EndEllipsis{};
  Boolean ExternalLeading{};
  Boolean EditControl{};
  Boolean ExcelStyle{};
  Boolean NoClip{};
  Boolean AutoIndents{};
  Boolean PatternedText{};
  Boolean PreventLeftExceed{};
  Boolean PreventTopExceed{};
  Boolean CharBreak{};
  Boolean CalcRowCount{};
  Boolean CalcRect{};
  Integer MaxCharWidth{};
  Byte CharSet{};
  Integer OnePixel{};
  Boolean HidePrefix{};
};

struct TvlTextRow {
  const Char* Text{};  // the row's first character inside TvlTextRows::Text
  Integer TextLength{};
  TSize TextExtents{};
  Integer BreakCount{};  // blanks of a justified row
  Integer TextOriginX{};
  Integer TextOriginY{};
  Integer StartOffset{};  // index of the first character in the whole text
};

constexpr Integer vlStaticTextRowCount = 32;

// The rows of one layout: the first 32 inline, the rest in a dynamic part
// that grows with four spare rows. The rows point into Text, so a row store
// is not copied.
struct TvlTextRows {
  Integer Count{};
  String Text;
  TvlTextRow StaticRows[vlStaticTextRowCount]{};
  std::vector<TvlTextRow> DynamicRows;
};

// Measures ALength characters of AText as one line.
using TvlMeasureTextProc = TSize (*)(win::HDC ADC, const Char* AText, Integer ALength, Boolean AExpandTabs,
                                     Pointer AUserData);

// --- Parameters, measuring and rows ------------------------------------------------

TvlTextParams vlGetTextParamsForDC(win::HDC ADC, Cardinal AFormat, Double ALineSpacingFactor = 1.0);
// The same on the canvas's DC, after making its handle, font and brush valid.
TvlTextParams vlGetTextParams(TvlCanvas* ACanvas, Cardinal AFormat, Double ALineSpacingFactor = 1.0);
// Width and height of the characters as one line; with tabs expanded above
// 4095 characters through a single-line calculating text draw.
TSize vlCalcTextExtents(win::HDC ADC, const Char* AText, Integer ALength, Boolean AExpandTabs);

// Builds the rows of the text in ARect; True when the whole text fits.
Boolean vlBuildTextRowsEx(win::HDC ADC, const Char* AText, Integer ALength, TvlMeasureTextProc AMeasureProc,
                          Pointer AUserData, Integer AMaxLineCount, Integer& ACount, TvlTextRows& ARows,
                          const TvlTextParams& AParams, const TRect& ARect);
Boolean vlBuildTextRows(win::HDC ADC, const Char* AText, Integer ALength, Integer AMaxLineCount,
                        Integer& ACount, TvlTextRows& ARows, const TvlTextParams& AParams, const TRect& ARect);

Boolean vlBuildTextRows(TvlCanvas* ACanvas, const Char* AText, Integer ALength, Integer AMaxLineCount,
                        Integer& ACount, TvlTextRows& ARows, const TvlTextParams& AParams, const TRect& ARect);

// Whether a row may end before the character at AIndex: not inside a
// surrogate pair, before a combining mark or after a zero-width joiner.
Boolean vlIsTextClusterStart(const Char* AText, Integer ALength, Integer AIndex);

TvlTextRow* vlGetTextRow(TvlTextRows& ARows, Integer AIndex);
Integer vlGetTextRowCount(const TvlTextRows& ARows);
void vlResetTextRows(TvlTextRows& ARows);
// Sets the count, growing the dynamic part (four spare rows) and zeroing
// the last row.
void vlSetTextRowCount(TvlTextRows& ARows, Integer ACount);

// --- Placement and output -----------------------------------------------------------

TRect vlApplyTextIndents(const TRect& ARect, const TvlTextParams& AParams, Integer ALeftIndent,
                         Integer ARightIndent);
TRect vlRemoveTextIndents(const TRect& ARect, const TvlTextParams& AParams, Integer ALeftIndent,
                          Integer ARightIndent);
void vlPlaceTextRows(win::HDC ADC, const TRect& ATextRect, const TvlTextParams& AParams, Integer ACount,
                     TvlTextRows& ARows);
Integer vlGetMaxTextRowWidth(TvlTextRows& ARows, Integer ACount);
void vlDrawTextRowsHighlighted(win::HDC ADC, const TRect& ATextRect, const TvlTextParams& AParams,
                               TvlTextRows& ARows, Integer ARowCount, Integer AHighlightStart,
                               Integer AHighlightLength, Integer AHighlightColor, Integer AHighlightTextColor,
                               Boolean ATextIsCut);

// Draws or measures the text with the engine's flags; returns the text
// height, or the row count with VLTO_CALCROWCOUNT. With VLTO_CALCRECT ARect
// receives the rectangle the text needs. Colours are TColor values; clNone
// and clDefault mean none.
Integer vlRenderTextHighlighted(win::HDC ADC, const String& AText, TRect& ARect, Cardinal AFormat,
                                Integer AHighlightStart, Integer AHighlightLength, TFont* AFont = nullptr,
                                Integer AHighlightColor = 0x20000000, Integer AHighlightTextColor = 0x20000000,
                                Integer AMaxLineCount = 0, Integer ALeftIndent = 0, Integer ARightIndent = 0,
                                Integer ATextColor = 0x20000000, Double ALineSpacingFactor = 1.0);
Integer vlRenderText(win::HDC ADC, const String& AText, TRect& ARect, Cardinal AFormat, TFont* AFont = nullptr,
                     Integer AMaxLineCount = 0, Integer ALeftIndent = 0, Integer ARightIndent = 0,
                     Integer ATextColor = 0x20000000, Double ALineSpacingFactor = 1.0);
Integer vlRenderText(TvlCanvas* ACanvas, const String& AText, TRect& ARect, Cardinal AFormat,
                     TFont* AFont = nullptr, Integer AMaxLineCount = 0, Integer ALeftIndent = 0,
                     Integer ARightIndent = 0, Integer ATextColor = 0x20000000, Double ALineSpacingFactor = 1.0);
