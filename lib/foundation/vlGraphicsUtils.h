// The graphics unit's free routines: text measuring (also for a wanted
// number of rows), splitting text into lines, thin wrappers of the text
// calls, painting what lies under a control, the visible cursor size, colour
// mixes for highlight backgrounds, reading GDI objects, the shared brushes
// and the screen's pixels per inch.
#pragma once

#include <vector>

#include "platform/classes/Interfaces.h"
#include "platform/rtl/Geometry.h"
#include "platform/rtl/Types.h"
#include "platform/win/Gdi.h"

class TBitmap;
class TCanvas;
class TChangeLink;
class TComponent;
class TCustomImageList;
class TFont;
class TStrings;
class TvlCanvas;
class TWinControl;
enum TPixelFormat : Byte;

// A control that decides whether a frame is drawn for it when its parent's
// background is painted under another control.
class IvlParentFrameQuery : public virtual IInterface {
  CL_INTERFACE(IvlParentFrameQuery, "{7EFAF634-E8D2-489D-9603-FCFC03ACA460}")
 public:
  virtual Boolean NeedsParentFrame() = 0;
};

// --- Text ---------------------------------------------------------------------------

// The one-line extent of the text in the font (at AFontSize points when it
// is not 0), measured on the shared screen canvas.
void vlMeasureTextExtent(TFont* AFont, const String& AText, Integer AFontSize, TSize& ASize);
Integer vlMeasureTextWidth(TFont* AFont, const String& AText, Integer AFontSize = 0);
Integer vlMeasureTextHeight(TFont* AFont, const String& AText, Integer AFontSize = 0);
// DrawText's one-line size of the text (DT_CALCRECT | DT_SINGLELINE).
TSize vlMeasureTextSize(win::HDC ADC, const String& AText);
// The narrowest rectangle in which the text takes at most ARows rows (all of
// it on one line for 1 row; 32000 pixels of height for 0 rows).
void vlCalcTextRectForRows(win::HDC ADC, const String& AText, Integer ARows, TRect& R,
                           Boolean AForceHeight = false);
// Splits the text into the lines that fit R's width on the canvas, at
// blanks and line breaks (a word wider than R keeps a line of its own).
void vlSplitTextToLines(const String& AText, TvlCanvas* ACanvas, const TRect& R, TStrings* ALines);
// GetTextExtentPoint32W; ALength -1 means the whole text.
Boolean vlWinTextExtent(win::HDC ADC, const String& AText, TSize& ASize, Integer ALength = -1);
Integer vlWinDrawText(win::HDC ADC, const String& AText, TRect& R, Integer ALength, Cardinal AFormat);
Boolean vlWinExtTextOut(win::HDC ADC, const String& AText, const TPoint& P, Integer ALength, Cardinal AOptions,
                        const TRect* AClipRect);
// Whether the text reads right to left in the character set (134, 136 or
// 178; DEFAULT_CHARSET resolved first); false for a text starting below 128.
Boolean vlIsMirroredCharSetText(Byte ACharSet, const String& AText);

// --- Windows ------------------------------------------------------------------------

void vlInvalidateWindowRect(win::HWND AWnd, const TRect& R, Boolean AErase);
void vlInvalidateWindowRect(win::HWND AWnd, Boolean AErase);
// Paints what lies under the control into R of the canvas (control
// coordinates): its parent's background through the theme library, or, when
// the parent is double-buffered or there is no theme library, by painting
// the parent itself.
void vlDrawParentBackground(TWinControl* AControl, TvlCanvas* ACanvas, const TRect& R);
void vlDrawParentBackground(TWinControl* AControl, TCanvas* ACanvas, const TRect& R);
// Paints the parent (with its window region, without its frame) into the
// canvas so that R of the control shows what lies under it; with
// APaintSiblings also the parent's windowed children before the control.
void vlDrawTransparentBackground(TWinControl* AControl, TvlCanvas* ACanvas, const TRect& R,
                                 Boolean APaintSiblings = false);
void vlDrawTransparentBackground(TWinControl* AControl, TCanvas* ACanvas, const TRect& R,
                                 Boolean APaintSiblings = false);
// The visible size of the current mouse cursor.
void vlGetCursorSize(TSize& ASize);

// --- Colours and GDI objects ----------------------------------------------------------

Integer vlGetLightHighlightColor();
Integer vlGetLighterHighlightColor();
Integer vlGetNearestScreenColor(Integer AColor);
Boolean vlGetBitmapInfo(win::HBITMAP AHandle, win::BITMAP& AInfo);
Boolean vlGetBrushInfo(win::HBRUSH AHandle, win::LOGBRUSH& AInfo);
Boolean vlGetFontInfo(win::HFONT AHandle, win::LOGFONTW& AInfo);
Boolean vlGetPenInfo(win::HPEN AHandle, win::LOGPEN& AInfo);
// All pixels (0xAARRGGBB words), bottom-up unless ATopDown.
void vlGetBitmapColors(win::HBITMAP ABitmap, Boolean ATopDown, std::vector<win::RGBQUAD>& APixels);
// Stores the pixels and releases the array.
void vlStoreBitmapColors(win::HBITMAP ABitmap, std::vector<win::RGBQUAD>& APixels, Boolean ATopDown);
TBitmap* vlCreateBitmapOfSize(Integer AWidth, Integer AHeight, TPixelFormat APixelFormat);
TBitmap* vlCreateBitmapOfSize(const TSize& ASize, TPixelFormat APixelFormat);
TBitmap* vlCreateBitmapOfSize(const TRect& ARect, TPixelFormat APixelFormat);
Boolean vlBitBltRect(win::HDC ADestDC, win::HDC ASourceDC, const TRect& ADestRect, Cardinal ARop,
                     const TPoint& ASourcePoint);
// Points AField at ANewList, moving the change link and the owner's free
// notification, then fires the link.
void vlAssignImageList(TCustomImageList* ANewList, TCustomImageList*& AField, TChangeLink* AChangeLink,
                       TComponent* AOwner);
TRect vlDeflateRectBy(const TRect& R, const TRect& AExtension);
Boolean vlIsGlyphAssigned(TBitmap* ABitmap);
Boolean vlIsImageIndexValid(TCustomImageList* AImages, Integer AIndex);
// Read once at start-up.
TSize vlGetScreenPixelsPerInch();

// The shared brushes: a 50 % checker pattern and the system colours 0-30.
win::HBRUSH vlCheckerBrush();
win::HBRUSH vlSysColorBrush(Integer AIndex);
