// Free routines of the control and container units that the whole library
// uses: character and key classification, shift-state conversion, window and
// rectangle queries, the monitor work area, the modal drag-detection loop,
// popup-menu measuring, shortcut testing and showing, the nested wait
// cursor, the centred message dialog, caption accelerator stripping and form
// font scaling. No state but the wait-cursor nesting count and the entry
// points looked up at start-up.
#pragma once

#include <vector>

#include "lib/foundation/vlClasses.h"
#include "lib/foundation/vlControlBasics.h"
#include "lib/foundation/vlGraphics.h"
#include "platform/vcl/Dialogs.h"

class TPopupMenu;

// A popup-menu component from outside the platform (the bar manager's).
class IvlExternalPopupMenu : public virtual IInterface {
  CL_INTERFACE_NO_GUID(IvlExternalPopupMenu)
 public:
  virtual Boolean IsShortCutKey(TWMKey& Message) = 0;
  virtual void Popup(Integer X, Integer Y) = 0;
};

// --- Keys and characters ---------------------------------------------------------

// Number kinds of vlIsNumericInputChar.
constexpr Integer vlnkInteger = 0, vlnkFloat = 1, vlnkFloatWithExponent = 2;

Boolean vlIsTextInputChar(Char C);
// A text character, Backspace, Ctrl+V or Ctrl+X.
Boolean vlIsCharStartingEdit(Char C);
Boolean vlIsCharStartingIncrementalSearch(Char C);
Boolean vlIsNumericInputChar(Char C, Integer ANumberKind);
Boolean vlIsSystemKey(Word AKey);
// The one character the key gives under the current keyboard state, else 0.
Char vlKeyCodeToChar(Word AKey);
Word vlShiftStateToMouseKeys(const TShiftState& AShift);
Word vlNormalizeKey(Word AKey);
TShiftState vlGetShiftStateNow();
Cardinal vlGetDoubleClickTime();

// --- Windows, rectangles and the desktop -------------------------------------------

TRect vlGetDesktopWorkAreaAtPoint(const TPoint& P);
// Moves (never resizes) the rectangle into the work area at the point: right
// and bottom edges first, then left and top.
void vlFitRectToDesktop(TRect& ABounds, const TPoint& ADesktopPoint);
// (-1, -1) when the position cannot be read.
TPoint vlGetMouseCursorPos();
TPoint vlMapPointBetweenWindows(const TPoint& P, win::HWND AFrom, win::HWND ATo);
TRect vlMapRectBetweenWindows(const TRect& R, win::HWND AFrom, win::HWND ATo);
win::HWND vlDeepestWindowFromPoint(const TPoint& P);
TvlPosition vlGetNearestRectSide(const TRect& ARect, const TPoint& P, Boolean AHorizontal, Boolean AVertical);
Boolean vlHasChildWindowStyle(win::HWND AWnd);
Boolean vlIsSelfOrChildWindow(win::HWND AParentWnd, win::HWND AWnd);
Boolean vlIsAncestorWindow(win::HWND AAncestorWnd, win::HWND AWnd);
Boolean vlIsWindowEnabledWithParents(win::HWND AWnd);
Boolean vlIsMDIChildForm(TCustomForm* AForm);
Boolean vlIsMDIParentForm(TCustomForm* AForm);
Boolean vlCanAllocateHandle(TWinControl* AControl);
Boolean vlIsWithinDragThreshold(const TPoint& AMouseDownPos, Integer X, Integer Y);
// The modal loop after a press: 0 released, 1 dragged out of the square of
// side 2 x drag threshold around the cursor, 2 cancelled (Escape, capture lost).
Integer vlDragDetect(win::HWND AWnd);

// --- Menus, cursors, dialogs, text and forms ----------------------------------------

Integer vlGetPopupMenuHeight(TPopupMenu* APopupMenu);
Boolean vlIsPopupMenuShortCut(TComponent* APopupMenu, TWMKey& AMessage);
Boolean vlShowPopupMenu(TControl* AControl, TComponent* APopupMenu, Integer X, Integer Y);
// Nested: the first begin shows the hourglass, the last end restores.
void vlBeginWaitCursor();
void vlEndWaitCursor();
Integer vlShowMessageDialog(const String& AMessage, const String& ACaption, TMsgDlgType ADlgType,
                            const TMsgDlgButtons& AButtons, Integer AHelpContext = 0);
// Owner names joined with "." before the component's own; "" for nil.
String vlGetFullComponentName(TComponent* AComponent);
// Assigns the font and scales the form and its controls by the change of
// the height of "Qq".
void vlSetFormFontAndScale(TCustomForm* AForm, TFont* AFont);
// At design time tells the designer that the form changed (there is no form
// designer in this system, so it only tests the state).
void vlDesignerModified(TComponent* AComponent);

// --- Window, focus and painting routines of the container unit ----------------------

win::HWND vlGetTopLevelWindow(win::HWND AWnd);
Boolean vlFindFormOfWindow(win::HWND AWnd, TCustomForm*& AForm, TFormStyle& AFormStyle);
Boolean vlIsActiveWindow(win::HWND AWnd);
Boolean vlIsActiveMDIChild(TCustomForm* AForm);
Boolean vlIsFormWindowActive(TCustomForm* AForm);
Boolean vlIsFormActive(TCustomForm* AForm);
Boolean vlIsControlWindowVisible(TWinControl* AControl);
Boolean vlIsChildWindowOfControl(TWinControl* AControl, win::HWND AWnd);
TRect vlGetControlLocalRect(TControl* AControl);
TPoint vlGetCursorPos();
inline win::HWND vlNativeHandle(win::HWND AWnd) { return AWnd; }
Boolean vlQueryScrollBarInfo(win::HWND AWnd, Integer AObjectId, win::SCROLLBARINFO& AInfo);
// Moves the sides in AEdges outward by AWidth / the sides not in AEdges
// inward by AWidth.
void vlExtendRectByEdges(TRect& R, Integer AWidth, const TvlBorders& AEdges);
void vlDeflateRectByMissingEdges(TRect& R, Integer AWidth, const TvlBorders& AEdges);
// Fills R except AInner (four bands: left, top, right, bottom), or all of R
// when AInner is empty; nothing when R is empty or equals AInner.
void vlFillRectExcept(TvlCanvas* ACanvas, const TRect& R, const TRect& AInner, TColor AColor);
// Invalidates the four bands of R around AInner (left, top, right, bottom),
// or all of R when AInner is empty; nothing when R is empty or equals AInner.
void vlInvalidateRectExcept(win::HWND AWnd, const TRect& R, const TRect& AInner, Boolean AErase);
void vlInvalidateControlRect(TWinControl* AControl, const TRect& R, Boolean AErase);
Boolean vlHasPendingMessage(win::HWND AWnd, Cardinal AMsg);
Boolean vlRemovePendingMessages(win::HWND AWnd, Cardinal AMin, Cardinal AMax, Boolean AAll);
void vlDisableWindow(TList* AList, win::HWND AWnd);
void vlEnableWindows(TList* AList);
Boolean vlStringsEqual(const String& S1, const String& S2, Boolean ACaseSensitive);
void vlAssignFont(TFont* ADest, TFont* ASource);
inline Boolean vlGetContainerPopupFlag() { return false; }
void vlRecreateWnd(TWinControl* AControl);
