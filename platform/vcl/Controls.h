// Controls: the framework's visual control classes. TControl (placement,
// alignment, appearance, mouse input, the message layers), TWinControl (a
// control with a window: creation, children, focus, keys, painting of its
// graphic children), TGraphicControl and TCustomControl (controls that paint
// on a canvas), the framework message numbers (CM_*, CN_*) and the typed
// message views, the mouse, and drag and drop.
//
// Message layers: a windowed control's window procedure is an object instance
// of MainWndProc, which calls WindowProc inside a try and hands an exception
// to ApplicationHandleException; WindowProc is a replaceable delegate bound
// at first to the virtual WndProc; TControl::WndProc ends in Dispatch, whose
// overrides call the handler members (WMPaint, CMFontChanged); unhandled
// numbers reach DefaultHandler, which for a windowed control calls the
// window's previous procedure.
#pragma once

#include <vector>

#include "platform/classes/Classes.h"
#include "platform/classes/Messages.h"
#include "platform/vcl/ActnList.h"
#include "platform/vcl/Graphics.h"
#include "platform/win/Windows.h"

class TControl;
class TWinControl;
class TPopupMenu;
class TDragObject;
class TDragImageList;
class TControlActionLink;
class TSizeConstraints;
class TControlCanvas;
class TDragDockObject;
namespace win {
struct DRAWITEMSTRUCT;
struct MEASUREITEMSTRUCT;
}  // namespace win

// --- Framework message numbers ------------------------------------------------

constexpr Cardinal CM_BASE = 0xB000;
constexpr Cardinal CM_ACTIVATE = CM_BASE + 0, CM_DEACTIVATE = CM_BASE + 1, CM_GOTFOCUS = CM_BASE + 2,
                   CM_LOSTFOCUS = CM_BASE + 3, CM_CANCELMODE = CM_BASE + 4, CM_DIALOGKEY = CM_BASE + 5,
                   CM_DIALOGCHAR = CM_BASE + 6, CM_FOCUSCHANGED = CM_BASE + 7, CM_PARENTFONTCHANGED = CM_BASE + 8,
                   CM_PARENTCOLORCHANGED = CM_BASE + 9, CM_HITTEST = CM_BASE + 10,
                   CM_VISIBLECHANGED = CM_BASE + 11, CM_ENABLEDCHANGED = CM_BASE + 12,
                   CM_COLORCHANGED = CM_BASE + 13, CM_FONTCHANGED = CM_BASE + 14, CM_CURSORCHANGED = CM_BASE + 15,
                   CM_CTL3DCHANGED = CM_BASE + 16, CM_PARENTCTL3DCHANGED = CM_BASE + 17,
                   CM_TEXTCHANGED = CM_BASE + 18, CM_MOUSEENTER = CM_BASE + 19, CM_MOUSELEAVE = CM_BASE + 20,
                   CM_MENUCHANGED = CM_BASE + 21, CM_APPKEYDOWN = CM_BASE + 22, CM_APPSYSCOMMAND = CM_BASE + 23,
                   CM_BUTTONPRESSED = CM_BASE + 24, CM_SHOWINGCHANGED = CM_BASE + 25, CM_ENTER = CM_BASE + 26,
                   CM_EXIT = CM_BASE + 27, CM_DESIGNHITTEST = CM_BASE + 28, CM_ICONCHANGED = CM_BASE + 29,
                   CM_WANTSPECIALKEY = CM_BASE + 30, CM_INVOKEHELP = CM_BASE + 31, CM_WINDOWHOOK = CM_BASE + 32,
                   CM_RELEASE = CM_BASE + 33, CM_SHOWHINTCHANGED = CM_BASE + 34,
                   CM_PARENTSHOWHINTCHANGED = CM_BASE + 35, CM_SYSCOLORCHANGE = CM_BASE + 36,
                   CM_WININICHANGE = CM_BASE + 37, CM_FONTCHANGE = CM_BASE + 38, CM_TIMECHANGE = CM_BASE + 39,
                   CM_TABSTOPCHANGED = CM_BASE + 40, CM_UIACTIVATE = CM_BASE + 41, CM_UIDEACTIVATE = CM_BASE + 42,
                   CM_DOCWINDOWACTIVATE = CM_BASE + 43, CM_CONTROLLISTCHANGE = CM_BASE + 44,
                   CM_GETDATALINK = CM_BASE + 45, CM_CHILDKEY = CM_BASE + 46, CM_DRAG = CM_BASE + 47,
                   CM_HINTSHOW = CM_BASE + 48, CM_DIALOGHANDLE = CM_BASE + 49, CM_ISTOOLCONTROL = CM_BASE + 50,
                   CM_RECREATEWND = CM_BASE + 51, CM_INVALIDATE = CM_BASE + 52, CM_SYSFONTCHANGED = CM_BASE + 53,
                   CM_CONTROLCHANGE = CM_BASE + 54, CM_CHANGED = CM_BASE + 55, CM_DOCKCLIENT = CM_BASE + 56,
                   CM_UNDOCKCLIENT = CM_BASE + 57, CM_FLOAT = CM_BASE + 58, CM_BORDERCHANGED = CM_BASE + 59,
                   CM_BIDIMODECHANGED = CM_BASE + 60, CM_PARENTBIDIMODECHANGED = CM_BASE + 61,
                   CM_ALLCHILDRENFLIPPED = CM_BASE + 62, CM_ACTIONUPDATE = CM_BASE + 63,
                   CM_ACTIONEXECUTE = CM_BASE + 64, CM_HINTSHOWPAUSE = CM_BASE + 65,
                   CM_DOCKNOTIFICATION = CM_BASE + 66, CM_MOUSEWHEEL = CM_BASE + 67, CM_ISSHORTCUT = CM_BASE + 68,
                   CM_INVALIDATEDOCKHOST = CM_BASE + 70, CM_SETACTIVECONTROL = CM_BASE + 71,
                   CM_POPUPHWNDDESTROY = CM_BASE + 72, CM_CREATEPOPUP = CM_BASE + 73,
                   CM_DESTROYHANDLE = CM_BASE + 74, CM_MOUSEACTIVATE = CM_BASE + 75,
                   CM_CONTROLLISTCHANGING = CM_BASE + 76, CM_BUFFEREDPRINTCLIENT = CM_BASE + 77,
                   CM_UNTHEMECONTROL = CM_BASE + 78, CM_DOUBLEBUFFEREDCHANGED = CM_BASE + 79,
                   CM_PARENTDOUBLEBUFFEREDCHANGED = CM_BASE + 80;

// Notifications a parent reflects back to the child window they concern.
constexpr Cardinal CN_BASE = 0xBC00;
constexpr Cardinal CN_CHARTOITEM = CN_BASE + win::WM_CHARTOITEM, CN_COMMAND = CN_BASE + win::WM_COMMAND,
                   CN_COMPAREITEM = CN_BASE + win::WM_COMPAREITEM, CN_CTLCOLORBTN = CN_BASE + win::WM_CTLCOLORBTN,
                   CN_CTLCOLORDLG = CN_BASE + win::WM_CTLCOLORDLG, CN_CTLCOLOREDIT = CN_BASE + win::WM_CTLCOLOREDIT,
                   CN_CTLCOLORLISTBOX = CN_BASE + win::WM_CTLCOLORLISTBOX,
                   CN_CTLCOLORMSGBOX = CN_BASE + win::WM_CTLCOLORMSGBOX,
                   CN_CTLCOLORSCROLLBAR = CN_BASE + win::WM_CTLCOLORSCROLLBAR,
                   CN_CTLCOLORSTATIC = CN_BASE + win::WM_CTLCOLORSTATIC, CN_DELETEITEM = CN_BASE + win::WM_DELETEITEM,
                   CN_DRAWITEM = CN_BASE + win::WM_DRAWITEM, CN_HSCROLL = CN_BASE + win::WM_HSCROLL,
                   CN_MEASUREITEM = CN_BASE + win::WM_MEASUREITEM, CN_PARENTNOTIFY = CN_BASE + win::WM_PARENTNOTIFY,
                   CN_VKEYTOITEM = CN_BASE + win::WM_VKEYTOITEM, CN_VSCROLL = CN_BASE + win::WM_VSCROLL,
                   CN_KEYDOWN = CN_BASE + win::WM_KEYDOWN, CN_KEYUP = CN_BASE + win::WM_KEYUP,
                   CN_CHAR = CN_BASE + win::WM_CHAR, CN_SYSKEYDOWN = CN_BASE + win::WM_SYSKEYDOWN,
                   CN_SYSCHAR = CN_BASE + win::WM_SYSCHAR, CN_NOTIFY = CN_BASE + win::WM_NOTIFY;

// --- Enumerations and sets ----------------------------------------------------

CL_ENUM(TShiftStateItem, Byte, ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble)
using TShiftState = TSet<TShiftStateItem, 2>;
CL_SET_TYPEINFO(TShiftState)

CL_ENUM(TMouseButton, Byte, mbLeft, mbRight, mbMiddle)
CL_ENUM(TAlign, Byte, alNone, alTop, alBottom, alLeft, alRight, alClient, alCustom)
using TAlignSet = TSet<TAlign, 1>;
CL_ENUM(TAnchorKind, Byte, akLeft, akTop, akRight, akBottom)
using TAnchors = TSet<TAnchorKind, 1>;
CL_SET_TYPEINFO(TAnchors)
CL_ENUM(TBiDiMode, Byte, bdLeftToRight, bdRightToLeft, bdRightToLeftNoAlign, bdRightToLeftReadingOnly)
CL_ENUM(TDragMode, Byte, dmManual, dmAutomatic)
CL_ENUM(TDragState, Byte, dsDragEnter, dsDragLeave, dsDragMove)
CL_ENUM(TDragKind, Byte, dkDrag, dkDock)
CL_ENUM(TDragMessage, Byte, dmDragEnter, dmDragLeave, dmDragMove, dmDragDrop, dmDragCancel, dmFindTarget)
CL_ENUM(THelpType, Byte, htKeyword, htContext)
CL_ENUM(TImeMode, Byte, imDisable, imClose, imOpen, imDontCare, imSAlpha, imAlpha, imHira, imSKata, imKata,
        imChinese, imSHanguel, imHanguel)

CL_ENUM(TControlStyleItem, Byte, csAcceptsControls, csCaptureMouse, csDesignInteractive, csClickEvents, csFramed,
        csSetCaption, csOpaque, csDoubleClicks, csFixedWidth, csFixedHeight, csNoDesignVisible, csReplicatable,
        csNoStdEvents, csDisplayDragImage, csReflector, csActionClient, csMenuEvents, csNeedsBorderPaint,
        csParentBackground)
using TControlStyle = TSet<TControlStyleItem, 4>;

CL_ENUM(TControlStateItem, Byte, csLButtonDown, csClicked, csPalette, csReadingState, csAlignmentNeeded,
        csFocusing, csCreating, csPaintCopy, csCustomPaint, csDestroyingHandle, csDocking, csDesignerHide,
        csRecreating, csAligning)
using TControlState = TSet<TControlStateItem, 4>;

// Which parts ChangeScale scales (set while reading a form of another
// pixel density).
CL_ENUM(TScalingFlag, Byte, sfLeft, sfTop, sfWidth, sfHeight, sfFont, sfDesignSize)
using TScalingFlags = TSet<TScalingFlag, 1>;

// Integer-typed properties of the controls.
using TCaption = String;
using TTabOrder = SmallInt;
using TCursor = SmallInt;
using TConstraintSize = Integer;
using TBorderWidth = Integer;
using TImeName = String;

// The standard cursors (Screen.Cursors keeps the handles).
constexpr TCursor crDefault = 0, crNone = -1, crArrow = -2, crCross = -3, crIBeam = -4, crSize = -22,
                  crSizeNESW = -6, crSizeNS = -7, crSizeNWSE = -8, crSizeWE = -9, crUpArrow = -10,
                  crHourGlass = -11, crDrag = -12, crNoDrop = -13, crHSplit = -14, crVSplit = -15,
                  crMultiDrag = -16, crSQLWait = -17, crNo = -18, crAppStart = -19, crHelp = -20,
                  crHandPoint = -21, crSizeAll = -22;

// The type information "TCursor" with the crXxx names (form files write
// Cursor = crHandPoint); made on first use.
const TTypeInfo* TypeInfoTCursor();
Boolean CursorToIdent(LongInt Cursor, String& Ident);
Boolean IdentToCursor(const String& Ident, LongInt& Cursor);
String CursorToString(TCursor Cursor);
TCursor StringToCursor(const String& S);

// The shift state of a mouse message's MK_ flags and of a key message's key data.
TShiftState KeysToShiftState(Word Keys);
TShiftState KeyDataToShiftState(LongInt KeyData);
// The shift state of the keyboard now (GetKeyState).
TShiftState KeyboardStateToShiftState();

// --- Typed message views --------------------------------------------------------
// Each is a view over the TMessage it was made from: reading or setting a
// member reads or writes the message itself.

struct TMessageView {
  TMessage& Message;
  explicit TMessageView(TMessage& M) : Message(M) {}
  Cardinal Msg() const { return Message.Msg; }
  void SetMsg(Cardinal Value) const { Message.Msg = Value; }
  LRESULT& Result() const { return Message.Result; }
  operator TMessage&() const { return Message; }
};

// A mouse message: MK_ keys in WParam, signed client coordinates in LParam.
struct TWMMouse : TMessageView {
  using TMessageView::TMessageView;
  Integer Keys() const { return Integer(Message.WParam); }
  SmallInt XPos() const { return SmallInt(Word(uintptr_t(Message.LParam) & 0xFFFF)); }
  SmallInt YPos() const { return SmallInt(Word((uintptr_t(Message.LParam) >> 16) & 0xFFFF)); }
  TPoint Pos() const { return TPoint{XPos(), YPos()}; }
  void SetPos(const TPoint& P) const;
};
using TWMLButtonDown = TWMMouse;
using TWMLButtonUp = TWMMouse;
using TWMLButtonDblClk = TWMMouse;
using TWMRButtonDown = TWMMouse;
using TWMRButtonUp = TWMMouse;
using TWMRButtonDblClk = TWMMouse;
using TWMMButtonDown = TWMMouse;
using TWMMButtonUp = TWMMouse;
using TWMMButtonDblClk = TWMMouse;
using TWMMouseMove = TWMMouse;
using TCMDesignHitTest = TWMMouse;

// WM_MOUSEWHEEL: keys and delta in WParam, screen coordinates in LParam.
struct TWMMouseWheel : TMessageView {
  using TMessageView::TMessageView;
  Integer Keys() const { return Integer(Message.WParam & 0xFFFF); }
  SmallInt WheelDelta() const { return SmallInt(Word((uintptr_t(Message.WParam) >> 16) & 0xFFFF)); }
  SmallInt XPos() const { return SmallInt(Word(uintptr_t(Message.LParam) & 0xFFFF)); }
  SmallInt YPos() const { return SmallInt(Word((uintptr_t(Message.LParam) >> 16) & 0xFFFF)); }
  TPoint Pos() const { return TPoint{XPos(), YPos()}; }
};

// CM_MOUSEWHEEL: the shift state in WParam's low word, the delta in its high
// word, the screen point in LParam.
struct TCMMouseWheel : TMessageView {
  using TMessageView::TMessageView;
  TShiftState ShiftState() const { return TShiftState::FromInt(Integer(Message.WParam & 0xFFFF)); }
  SmallInt WheelDelta() const { return SmallInt(Word((uintptr_t(Message.WParam) >> 16) & 0xFFFF)); }
  SmallInt XPos() const { return SmallInt(Word(uintptr_t(Message.LParam) & 0xFFFF)); }
  SmallInt YPos() const { return SmallInt(Word((uintptr_t(Message.LParam) >> 16) & 0xFFFF)); }
  TPoint Pos() const { return TPoint{XPos(), YPos()}; }
};

// Key messages: the virtual key (or character) in WParam, the key data in LParam.
struct TWMKey : TMessageView {
  using TMessageView::TMessageView;
  Word CharCode() const { return Word(Message.WParam & 0xFFFF); }
  void SetCharCode(Word Value) const { Message.WParam = WPARAM(Value); }
  LongInt KeyData() const { return LongInt(uint32_t(uintptr_t(Message.LParam))); }
};
using TWMKeyDown = TWMKey;
using TWMKeyUp = TWMKey;
using TWMChar = TWMKey;
using TWMSysKeyDown = TWMKey;
using TWMSysKeyUp = TWMKey;
using TWMSysChar = TWMKey;
using TCMDialogKey = TWMKey;
using TCMDialogChar = TWMKey;
using TCMWantSpecialKey = TWMKey;

struct TWMPaint : TMessageView {
  using TMessageView::TMessageView;
  win::HDC DC() const { return reinterpret_cast<win::HDC>(Message.WParam); }
  win::PAINTSTRUCT* PaintStruct() const { return reinterpret_cast<win::PAINTSTRUCT*>(Message.LParam); }
};

struct TWMEraseBkgnd : TMessageView {
  using TMessageView::TMessageView;
  win::HDC DC() const { return reinterpret_cast<win::HDC>(Message.WParam); }
};

struct TWMSize : TMessageView {
  using TMessageView::TMessageView;
  Integer SizeType() const { return Integer(Message.WParam); }
  Word Width() const { return Word(uintptr_t(Message.LParam) & 0xFFFF); }
  Word Height() const { return Word((uintptr_t(Message.LParam) >> 16) & 0xFFFF); }
};

struct TWMMove : TMessageView {
  using TMessageView::TMessageView;
  SmallInt XPos() const { return SmallInt(Word(uintptr_t(Message.LParam) & 0xFFFF)); }
  SmallInt YPos() const { return SmallInt(Word((uintptr_t(Message.LParam) >> 16) & 0xFFFF)); }
};

struct TWMSetFocus : TMessageView {
  using TMessageView::TMessageView;
  win::HWND FocusedWnd() const { return reinterpret_cast<win::HWND>(Message.WParam); }
};
using TWMKillFocus = TWMSetFocus;

struct TWMNCHitTest : TMessageView {
  using TMessageView::TMessageView;
  SmallInt XPos() const { return SmallInt(Word(uintptr_t(Message.LParam) & 0xFFFF)); }
  SmallInt YPos() const { return SmallInt(Word((uintptr_t(Message.LParam) >> 16) & 0xFFFF)); }
  TPoint Pos() const { return TPoint{XPos(), YPos()}; }
};

struct TWMSetCursor : TMessageView {
  using TMessageView::TMessageView;
  win::HWND CursorWnd() const { return reinterpret_cast<win::HWND>(Message.WParam); }
  SmallInt HitTest() const { return SmallInt(Word(uintptr_t(Message.LParam) & 0xFFFF)); }
  Word MouseMsg() const { return Word((uintptr_t(Message.LParam) >> 16) & 0xFFFF); }
};

struct TWMWindowPosChanged : TMessageView {
  using TMessageView::TMessageView;
  win::WINDOWPOS* WindowPos() const { return reinterpret_cast<win::WINDOWPOS*>(Message.LParam); }
};
using TWMWindowPosChanging = TWMWindowPosChanged;
using TWMWindowPosMsg = TWMWindowPosChanged;

struct TWMContextMenu : TMessageView {
  using TMessageView::TMessageView;
  win::HWND hWnd() const { return reinterpret_cast<win::HWND>(Message.WParam); }
  SmallInt XPos() const { return SmallInt(Word(uintptr_t(Message.LParam) & 0xFFFF)); }
  SmallInt YPos() const { return SmallInt(Word((uintptr_t(Message.LParam) >> 16) & 0xFFFF)); }
  TPoint Pos() const { return TPoint{XPos(), YPos()}; }
};

struct TWMGetDlgCode : TMessageView {
  using TMessageView::TMessageView;
};

struct TWMCommand : TMessageView {
  using TMessageView::TMessageView;
  Word ItemID() const { return Word(Message.WParam & 0xFFFF); }
  Word NotifyCode() const { return Word((uintptr_t(Message.WParam) >> 16) & 0xFFFF); }
  win::HWND Ctl() const { return reinterpret_cast<win::HWND>(Message.LParam); }
};

struct TWMScroll : TMessageView {
  using TMessageView::TMessageView;
  SmallInt ScrollCode() const { return SmallInt(Word(Message.WParam & 0xFFFF)); }
  SmallInt Pos() const { return SmallInt(Word((uintptr_t(Message.WParam) >> 16) & 0xFFFF)); }
  win::HWND ScrollBar() const { return reinterpret_cast<win::HWND>(Message.LParam); }
};
using TWMHScroll = TWMScroll;
using TWMVScroll = TWMScroll;

struct TWMTimer : TMessageView {
  using TMessageView::TMessageView;
  WPARAM TimerID() const { return Message.WParam; }
};

struct TWMActivate : TMessageView {
  using TMessageView::TMessageView;
  Word Active() const { return Word(Message.WParam & 0xFFFF); }
  Word Minimized() const { return Word((uintptr_t(Message.WParam) >> 16) & 0xFFFF); }
  win::HWND ActiveWindow() const { return reinterpret_cast<win::HWND>(Message.LParam); }
};

struct TWMNCCalcSize : TMessageView {
  using TMessageView::TMessageView;
  Boolean CalcValidRects() const { return Message.WParam != 0; }
  win::NCCALCSIZE_PARAMS* CalcSize_Params() const {
    return reinterpret_cast<win::NCCALCSIZE_PARAMS*>(Message.LParam);
  }
};

struct TWMGetMinMaxInfo : TMessageView {
  using TMessageView::TMessageView;
  win::MINMAXINFO* MinMaxInfo() const { return reinterpret_cast<win::MINMAXINFO*>(Message.LParam); }
};

struct TWMDrawItem : TMessageView {
  using TMessageView::TMessageView;
  WPARAM Ctl() const { return Message.WParam; }
  win::DRAWITEMSTRUCT* DrawItemStruct() const { return reinterpret_cast<win::DRAWITEMSTRUCT*>(Message.LParam); }
};

struct TWMMeasureItem : TMessageView {
  using TMessageView::TMessageView;
  WPARAM IDCtl() const { return Message.WParam; }
  win::MEASUREITEMSTRUCT* MeasureItemStruct() const {
    return reinterpret_cast<win::MEASUREITEMSTRUCT*>(Message.LParam);
  }
};

struct TWMSysCommand : TMessageView {
  using TMessageView::TMessageView;
  WPARAM CmdType() const { return Message.WParam; }
  SmallInt XPos() const { return SmallInt(Word(uintptr_t(Message.LParam) & 0xFFFF)); }
  SmallInt YPos() const { return SmallInt(Word((uintptr_t(Message.LParam) >> 16) & 0xFFFF)); }
};

struct TWMNotify : TMessageView {
  using TMessageView::TMessageView;
  WPARAM IDCtrl() const { return Message.WParam; }
};

using TWMCancelMode = TMessageView;
using TWMNCPaint = TMessageView;

// CM_FOCUSCHANGED: the control that got the focus in LParam.
struct TCMFocusChanged : TMessageView {
  using TMessageView::TMessageView;
  TWinControl* Sender() const { return reinterpret_cast<TWinControl*>(Message.LParam); }
};

// CM_CANCELMODE: the control that keeps the mode in LParam.
struct TCMCancelMode : TMessageView {
  using TMessageView::TMessageView;
  TControl* Sender() const { return reinterpret_cast<TControl*>(Message.LParam); }
};

// CM_CONTROLCHANGE: the control in WParam, inserted (LParam 1) or removed.
struct TCMControlChange : TMessageView {
  using TMessageView::TMessageView;
  TControl* Control() const { return reinterpret_cast<TControl*>(Message.WParam); }
  Boolean Inserting() const { return Message.LParam != 0; }
};
using TCMControlListChange = TCMControlChange;

// CM_CHILDKEY: the key in WParam, the control that got it in LParam.
struct TCMChildKey : TMessageView {
  using TMessageView::TMessageView;
  Word CharCode() const { return Word(Message.WParam & 0xFFFF); }
  TWinControl* Sender() const { return reinterpret_cast<TWinControl*>(Message.LParam); }
};

// CM_HITTEST: a client point in LParam; non-zero Result means "mine".
struct TCMHitTest : TMessageView {
  using TMessageView::TMessageView;
  SmallInt XPos() const { return SmallInt(Word(uintptr_t(Message.LParam) & 0xFFFF)); }
  SmallInt YPos() const { return SmallInt(Word((uintptr_t(Message.LParam) >> 16) & 0xFFFF)); }
  TPoint Pos() const { return TPoint{XPos(), YPos()}; }
};

// The hint a control is about to show (CM_HINTSHOW): the control may change
// any field or refuse the hint (Result non-zero).
struct THintInfo {
  TControl* HintControl{};
  TClass HintWindowClass{};  // a THintWindow class
  TPoint HintPos{};
  Integer HintMaxWidth{};
  TColor HintColor{};
  TRect CursorRect{};
  TPoint CursorPos{};
  Integer ReshowTimeout{};
  Integer HideTimeout{};
  String HintStr;
  void* HintData{};
};

struct TCMHintShow : TMessageView {
  using TMessageView::TMessageView;
  THintInfo* HintInfo() const { return reinterpret_cast<THintInfo*>(Message.LParam); }
};

// The drag record of CM_DRAG.
struct TDragRec {
  TPoint Pos{};
  TDragObject* Source{};
  void* Target{};
  Boolean Docking{};
};

struct TCMDrag : TMessageView {
  using TMessageView::TMessageView;
  TDragMessage DragMessage() const { return TDragMessage(Message.WParam & 0xFF); }
  TDragRec* DragRec() const { return reinterpret_cast<TDragRec*>(Message.LParam); }
};

// --- Events -------------------------------------------------------------------

using TMouseEvent = TDelegate<void(TObject* Sender, TMouseButton Button, TShiftState Shift, Integer X, Integer Y)>;
using TMouseMoveEvent = TDelegate<void(TObject* Sender, TShiftState Shift, Integer X, Integer Y)>;
using TKeyEvent = TDelegate<void(TObject* Sender, Word& Key, TShiftState Shift)>;
using TKeyPressEvent = TDelegate<void(TObject* Sender, Char& Key)>;
using TDragOverEvent =
    TDelegate<void(TObject* Sender, TObject* Source, Integer X, Integer Y, TDragState State, Boolean& Accept)>;
using TDragDropEvent = TDelegate<void(TObject* Sender, TObject* Source, Integer X, Integer Y)>;
// The same signature as TDragDropEvent (Target instead of Source).
using TEndDragEvent = TDelegate<void(TObject* Sender, TObject* Target, Integer X, Integer Y)>;
using TStartDragEvent = TDelegate<void(TObject* Sender, TDragObject*& DragObject)>;
using TCanResizeEvent = TDelegate<void(TObject* Sender, Integer& NewWidth, Integer& NewHeight, Boolean& Resize)>;
using TConstrainedResizeEvent = TDelegate<void(TObject* Sender, Integer& MinWidth, Integer& MinHeight,
                                               Integer& MaxWidth, Integer& MaxHeight)>;
using TMouseWheelEvent =
    TDelegate<void(TObject* Sender, TShiftState Shift, Integer WheelDelta, TPoint MousePos, Boolean& Handled)>;
using TMouseWheelUpDownEvent =
    TDelegate<void(TObject* Sender, TShiftState Shift, TPoint MousePos, Boolean& Handled)>;
using TContextPopupEvent = TDelegate<void(TObject* Sender, TPoint MousePos, Boolean& Handled)>;
using TAlignInsertBeforeEvent = TDelegate<Boolean(TWinControl* Sender, TControl* C1, TControl* C2)>;
// Docking events: kept and published so that controls can stream them;
// docking itself is not built.
using TDockDropEvent = TDelegate<void(TObject* Sender, TDragDockObject* Source, Integer X, Integer Y)>;
using TDockOverEvent = TDelegate<void(TObject* Sender, TDragDockObject* Source, Integer X, Integer Y,
                                      TDragState State, Boolean& Accept)>;
using TGetSiteInfoEvent = TDelegate<void(TObject* Sender, TControl* DockClient, TRect& InfluenceRect,
                                         TPoint MousePos, Boolean& CanDock)>;
using TStartDockEvent = TDelegate<void(TObject* Sender, TDragDockObject*& DragObject)>;
using TUnDockEvent = TDelegate<void(TObject* Sender, TControl* Client, TWinControl* NewTarget, Boolean& Allow)>;

CL_EVENT_TYPEINFO(TMouseEvent)
CL_EVENT_TYPEINFO(TMouseMoveEvent)
CL_EVENT_TYPEINFO(TKeyEvent)
CL_EVENT_TYPEINFO(TKeyPressEvent)
CL_EVENT_TYPEINFO(TDragOverEvent)
CL_EVENT_TYPEINFO(TDragDropEvent)
CL_EVENT_TYPEINFO(TStartDragEvent)
CL_EVENT_TYPEINFO(TCanResizeEvent)
CL_EVENT_TYPEINFO(TConstrainedResizeEvent)
CL_EVENT_TYPEINFO(TMouseWheelEvent)
CL_EVENT_TYPEINFO(TMouseWheelUpDownEvent)
CL_EVENT_TYPEINFO(TContextPopupEvent)
CL_EVENT_TYPEINFO(TDockDropEvent)
CL_EVENT_TYPEINFO(TDockOverEvent)
CL_EVENT_TYPEINFO(TGetSiteInfoEvent)
CL_EVENT_TYPEINFO(TStartDockEvent)
CL_EVENT_TYPEINFO(TUnDockEvent)
// TEndDragEvent shares TDragDropEvent's C++ type; its own name.
const TTypeInfo* TypeInfoTEndDragEvent();

// --- Hooks other units install ------------------------------------------------

// MainWndProc hands an exception that a message handler let out to the
// class framework's ApplicationHandleException (Classes.h), which the forms
// unit installs. Without one the exception is written to standard error and
// dropped (EAbort silently).

// What the controls ask of a popup menu; the menus unit installs them. A nil
// hook means "no menus": no shortcut matches and nothing pops up.
// IsShortCut: the key message is one of the menu's shortcuts (its item ran).
extern Boolean (*PopupMenuIsShortCutHook)(TPopupMenu* Menu, TWMKey& Message);
// Popup: shows the menu for Control at the screen point when its AutoPopup
// holds, returning true when it did.
extern Boolean (*PopupMenuPopupHook)(TPopupMenu* Menu, TControl* Control, Integer X, Integer Y);
// The menu as a component (for free notification); nil for nil.
extern TComponent* (*PopupMenuComponentHook)(TPopupMenu* Menu);

// The cursor the screen shows for a TCursor (the forms unit's Screen.Cursors);
// the default maps the standard cursors to the system's.
extern win::HCURSOR (*ScreenCursorHandleHook)(TCursor Cursor);
// The screen's overriding cursor (Screen.Cursor); crDefault lets each
// control show its own. Nil: crDefault.
extern TCursor (*ScreenCursorHook)();
// Told of every mouse move over a control (the application's hint logic).
extern void (*ApplicationHintMouseMessage)(TControl* Control, TMessage& Message);

// Whether the user locale reads right to left (the platform's
// SysLocale.MiddleEast). False for the Turkish default; a setting for tests
// and other locales. Right-to-left BiDiMode values take effect only when set.
extern Boolean SysLocaleMiddleEast;

// --- Size constraints ------------------------------------------------------------

// Minimum and maximum width and height of a control; 0 is "no limit".
class TSizeConstraints : public TPersistent {
  CL_CLASS(TSizeConstraints, TPersistent)
 public:
  virtual void Create(TControl* Control);

  TConstraintSize MaxHeight() const { return FMaxHeight; }
  void SetMaxHeight(TConstraintSize Value);
  TConstraintSize MaxWidth() const { return FMaxWidth; }
  void SetMaxWidth(TConstraintSize Value);
  TConstraintSize MinHeight() const { return FMinHeight; }
  void SetMinHeight(TConstraintSize Value);
  TConstraintSize MinWidth() const { return FMinWidth; }
  void SetMinWidth(TConstraintSize Value);
  TControl* Control() const { return FControl; }
  const TNotifyEvent& OnChange() const { return FOnChange; }
  void SetOnChange(const TNotifyEvent& Value) { FOnChange = Value; }

 protected:
  virtual void Change();
  void AssignTo(TPersistent* Dest) override;

 private:
  TControl* FControl{};
  TConstraintSize FMaxHeight{};
  TConstraintSize FMaxWidth{};
  TConstraintSize FMinHeight{};
  TConstraintSize FMinWidth{};
  TNotifyEvent FOnChange;
};

// --- Control canvas -----------------------------------------------------------------

// A canvas on a control: a DC of the control's window (or, for a graphic
// control, of its parent's window, clipped and moved to the control) made
// on first use and released by FreeHandle. Painting code sets the handle to
// the DC of the paint message instead.
class TControlCanvas : public TCanvas {
  CL_CLASS(TControlCanvas, TCanvas)
 public:
  void Destroy() override;
  void FreeHandle();
  // Sets the RTL-reading text flag of the control's BiDiMode.
  void UpdateTextFlags();
  TControl* Control() const { return FControl; }
  void SetControl(TControl* AControl);

 protected:
  void CreateHandle() override;

 private:
  TControl* FControl{};
  win::HDC FDeviceContext{};
  win::HWND FWindowHandle{};
};

// --- Action link ------------------------------------------------------------------

// The link of a control to its action: caption, enabled, hint, visible,
// help context and OnExecute (as OnClick) follow the action while they hold
// the action's value.
class TControlActionLink : public TActionLink {
  CL_CLASS(TControlActionLink, TActionLink)
 public:
  Boolean IsCaptionLinked() override;
  Boolean IsEnabledLinked() override;
  Boolean IsHelpContextLinked() override;
  Boolean IsHintLinked() override;
  Boolean IsVisibleLinked() override;
  Boolean IsOnExecuteLinked() override;
  virtual Boolean DoShowHint(String& HintStr);

  void SetCaption(const String& Value) override;
  void SetEnabled(Boolean Value) override;
  void SetHelpContext(THelpContext Value) override;
  void SetHint(const String& Value) override;
  void SetVisible(Boolean Value) override;
  void SetOnExecute(const TNotifyEvent& Value) override;

 protected:
  void AssignClient(TObject* AClient) override;

  TControl* FClient{};
};

using TControlActionLinkClass = TClassOf<TControlActionLink>;

// --- TControl -------------------------------------------------------------------------

// A visual component with a place in its parent. It has no window of its
// own: its parent routes mouse messages to it and paints it.
class TControl : public TComponent {
  CL_CLASS(TControl, TComponent)
 public:
  void Create(TComponent* AOwner) override;
  void Destroy() override;

  // Messages.
  void Dispatch(TMessage& Message) override;
  // WM_GETTEXT, WM_GETTEXTLENGTH and WM_SETTEXT on the control's own text.
  void DefaultHandler(TMessage& Message) override;
  // Sends a message through WindowProc and answers its Result.
  LRESULT Perform(Cardinal Msg, WPARAM WParam, LPARAM LParam);
  const TWndMethod& WindowProc() const { return FWindowProc; }
  void SetWindowProc(const TWndMethod& Value) { FWindowProc = Value; }
  virtual void WndProc(TMessage& Message);

  // Placement.
  // The Parent property.
  TWinControl* Parent() const { return FParent; }
  virtual void SetParent(TWinControl* AParent);
  Integer Left() const { return FLeft; }
  void SetLeft(Integer Value);
  Integer Top() const { return FTop; }
  void SetTop(Integer Value);
  Integer Width() const { return FWidth; }
  void SetWidth(Integer Value);
  Integer Height() const { return FHeight; }
  void SetHeight(Integer Value);
  virtual void SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight);
  TRect BoundsRect() const { return TRect{FLeft, FTop, FLeft + FWidth, FTop + FHeight}; }
  void SetBoundsRect(const TRect& Rect);
  Integer ClientWidth() { return ClientRect().Right; }
  void SetClientWidth(Integer Value);
  Integer ClientHeight() { return ClientRect().Bottom; }
  void SetClientHeight(Integer Value);
  TRect ClientRect() { return GetClientRect(); }
  TPoint ClientOrigin() { return GetClientOrigin(); }
  void SetClientSize(const TPoint& Value);
  TPoint ClientToScreen(const TPoint& Point);
  TPoint ScreenToClient(const TPoint& Point);
  TPoint ClientToParent(const TPoint& Point, TWinControl* AParent = nullptr);
  TPoint ParentToClient(const TPoint& Point, TWinControl* AParent = nullptr);
  TAlign Align() const { return FAlign; }
  void SetAlign(TAlign Value);
  TAnchors Anchors() const { return FAnchors; }
  void SetAnchors(TAnchors Value);
  TSizeConstraints* Constraints() const { return FConstraints; }
  void SetConstraints(TSizeConstraints* Value) { FConstraints->Assign(Value); }
  void BringToFront();
  void SendToBack();
  virtual void SetZOrder(Boolean TopMost);

  // State.
  TControlStyle ControlStyle() const { return FControlStyle; }
  void SetControlStyle(TControlStyle Value) { FControlStyle = Value; }
  TControlState ControlState() const { return FControlState; }
  void SetControlState(TControlState Value) { FControlState = Value; }
  Boolean Visible() const { return FVisible; }
  void SetVisible(Boolean Value);
  void Show();
  void Hide();
  Boolean Enabled() { return GetEnabled(); }
  void SetEnabledProp(Boolean Value) { SetEnabled(Value); }

  // Painting.
  virtual void Invalidate();
  virtual void Update();
  virtual void Repaint();
  void Refresh() { Repaint(); }

  // Text.
  Integer GetTextLen();
  Integer GetTextBuf(Char* Buffer, Integer BufSize);
  void SetTextBuf(const Char* Buffer);

  // Hints and cursor.
  const String& Hint() const { return FHint; }
  void SetHint(const String& Value) { FHint = Value; }
  Boolean ShowHint() const { return FShowHint; }
  void SetShowHint(Boolean Value);
  TCursor Cursor() const { return FCursor; }
  void SetCursor(TCursor Value);
  THelpContext HelpContext() const { return FHelpContext; }
  void SetHelpContext(THelpContext Value) { FHelpContext = Value; }
  const String& HelpKeyword() const { return FHelpKeyword; }
  void SetHelpKeyword(const String& Value) { FHelpKeyword = Value; }
  THelpType HelpType() const { return FHelpType; }
  void SetHelpType(THelpType Value) { FHelpType = Value; }

  // Right-to-left.
  TBiDiMode BiDiMode() const { return FBiDiMode; }
  void SetBiDiMode(TBiDiMode Value);
  Boolean ParentBiDiMode() const { return FParentBiDiMode; }
  void SetParentBiDiMode(Boolean Value);
  Boolean IsRightToLeft();
  Boolean UseRightToLeftAlignment();
  Boolean UseRightToLeftReading();
  Boolean UseRightToLeftScrollBar();
  // DT_RTLREADING (and DT_RIGHT swapped for DT_LEFT) as the BiDiMode asks.
  LongInt DrawTextBiDiModeFlags(LongInt Flags);
  LongInt DrawTextBiDiModeFlagsReadingOnly();
  virtual TAlignment GetControlsAlignment();

  // Actions.
  TBasicAction* Action() { return GetAction(); }
  void SetAction(TBasicAction* Value);
  TControlActionLink* ActionLink() const { return FActionLink; }
  virtual void InitiateAction();
  // The action asks the control to run or update it (for actions that
  // target a control); the base passes the request to the action.
  virtual Boolean ExecuteAction(TBasicAction* Action);
  virtual Boolean UpdateAction(TBasicAction* Action);

  // Drag and drop.
  void BeginDrag(Boolean Immediate, Integer Threshold = -1);
  void EndDrag(Boolean Drop);
  Boolean Dragging();
  virtual void DragDrop(TObject* Source, Integer X, Integer Y);
  TDragMode DragMode() { return GetDragMode(); }
  void SetDragModeProp(TDragMode Value) { SetDragMode(Value); }
  TCursor DragCursor() const { return FDragCursor; }
  void SetDragCursor(TCursor Value) { FDragCursor = Value; }
  TDragKind DragKind() const { return FDragKind; }
  void SetDragKind(TDragKind Value) { FDragKind = Value; }

  void SetName(const String& Value) override;

  // Streaming.
  Boolean HasParent() override;
  TComponent* GetParentComponent() override;
  void SetParentComponent(TComponent* Value) override;

  // Scaling.
  TScalingFlags ScalingFlags() const { return FScalingFlags; }
  void SetScalingFlags(TScalingFlags Value) { FScalingFlags = Value; }

  // The protected appearance properties, public here so that the library's
  // controls and tests reach them without a cast.
  const TCaption& Caption() { return GetText(); }
  void SetCaption(const TCaption& Value) { SetText(Value); }
  const TCaption& Text() { return GetText(); }
  void SetTextProp(const TCaption& Value) { SetText(Value); }
  TColor Color() const { return FColor; }
  void SetColor(TColor Value);
  Boolean ParentColor() const { return FParentColor; }
  void SetParentColor(Boolean Value);
  TFont* Font() const { return FFont; }
  void SetFont(TFont* Value) { FFont->Assign(Value); }
  Boolean ParentFont() const { return FParentFont; }
  void SetParentFont(Boolean Value);
  Boolean ParentShowHint() const { return FParentShowHint; }
  void SetParentShowHint(Boolean Value);
  Boolean DesktopFont() const { return FDesktopFont; }
  void SetDesktopFont(Boolean Value);
  TPopupMenu* PopupMenu() const { return FPopupMenu; }
  void SetPopupMenu(TPopupMenu* Value);
  Boolean AutoSize() const { return FAutoSize; }
  virtual void SetAutoSize(Boolean Value);
  Boolean MouseCapture();
  void SetMouseCapture(Boolean Value);
  Boolean IsControl() const { return FIsControl; }
  void SetIsControl(Boolean Value) { FIsControl = Value; }
  Integer WheelAccumulator() const { return FWheelAccumulator; }
  void SetWheelAccumulator(Integer Value) { FWheelAccumulator = Value; }

  // Events.
  const TNotifyEvent& OnClick() const { return FOnClick; }
  void SetOnClick(const TNotifyEvent& Value) { FOnClick = Value; }
  const TNotifyEvent& OnDblClick() const { return FOnDblClick; }
  void SetOnDblClick(const TNotifyEvent& Value) { FOnDblClick = Value; }
  const TMouseEvent& OnMouseDown() const { return FOnMouseDown; }
  void SetOnMouseDown(const TMouseEvent& Value) { FOnMouseDown = Value; }
  const TMouseMoveEvent& OnMouseMove() const { return FOnMouseMove; }
  void SetOnMouseMove(const TMouseMoveEvent& Value) { FOnMouseMove = Value; }
  const TMouseEvent& OnMouseUp() const { return FOnMouseUp; }
  void SetOnMouseUp(const TMouseEvent& Value) { FOnMouseUp = Value; }
  const TMouseWheelEvent& OnMouseWheel() const { return FOnMouseWheel; }
  void SetOnMouseWheel(const TMouseWheelEvent& Value) { FOnMouseWheel = Value; }
  const TMouseWheelUpDownEvent& OnMouseWheelDown() const { return FOnMouseWheelDown; }
  void SetOnMouseWheelDown(const TMouseWheelUpDownEvent& Value) { FOnMouseWheelDown = Value; }
  const TMouseWheelUpDownEvent& OnMouseWheelUp() const { return FOnMouseWheelUp; }
  void SetOnMouseWheelUp(const TMouseWheelUpDownEvent& Value) { FOnMouseWheelUp = Value; }
  const TNotifyEvent& OnMouseEnter() const { return FOnMouseEnter; }
  void SetOnMouseEnter(const TNotifyEvent& Value) { FOnMouseEnter = Value; }
  const TNotifyEvent& OnMouseLeave() const { return FOnMouseLeave; }
  void SetOnMouseLeave(const TNotifyEvent& Value) { FOnMouseLeave = Value; }
  const TNotifyEvent& OnResize() const { return FOnResize; }
  void SetOnResize(const TNotifyEvent& Value) { FOnResize = Value; }
  const TCanResizeEvent& OnCanResize() const { return FOnCanResize; }
  void SetOnCanResize(const TCanResizeEvent& Value) { FOnCanResize = Value; }
  const TConstrainedResizeEvent& OnConstrainedResize() const { return FOnConstrainedResize; }
  void SetOnConstrainedResize(const TConstrainedResizeEvent& Value) { FOnConstrainedResize = Value; }
  const TContextPopupEvent& OnContextPopup() const { return FOnContextPopup; }
  void SetOnContextPopup(const TContextPopupEvent& Value) { FOnContextPopup = Value; }
  const TDragOverEvent& OnDragOver() const { return FOnDragOver; }
  void SetOnDragOver(const TDragOverEvent& Value) { FOnDragOver = Value; }
  const TDragDropEvent& OnDragDrop() const { return FOnDragDrop; }
  void SetOnDragDrop(const TDragDropEvent& Value) { FOnDragDrop = Value; }
  const TStartDragEvent& OnStartDrag() const { return FOnStartDrag; }
  void SetOnStartDrag(const TStartDragEvent& Value) { FOnStartDrag = Value; }
  const TEndDragEvent& OnEndDrag() const { return FOnEndDrag; }
  void SetOnEndDrag(const TEndDragEvent& Value) { FOnEndDrag = Value; }
  const TEndDragEvent& OnEndDock() const { return FOnEndDock; }
  void SetOnEndDock(const TEndDragEvent& Value) { FOnEndDock = Value; }
  const TStartDockEvent& OnStartDock() const { return FOnStartDock; }
  void SetOnStartDock(const TStartDockEvent& Value) { FOnStartDock = Value; }

  // Stored predicates of the published properties (descendants publish
  // Caption, Color, Font ... with them).
  Boolean IsCaptionStored();
  Boolean IsEnabledStored();
  Boolean IsHintStored();
  Boolean IsHelpContextStored();
  Boolean IsShowHintStored();
  Boolean IsVisibleStored();
  Boolean IsOnClickStored();
  Boolean IsColorStored();
  Boolean IsFontStored();
  Boolean IsBiDiModeStored();

  // Placement steps, public for the alignment code of parents.
  virtual Boolean CanResize(Integer& NewWidth, Integer& NewHeight);
  virtual Boolean CanAutoSize(Integer& NewWidth, Integer& NewHeight);
  virtual void ConstrainedResize(Integer& MinWidth, Integer& MinHeight, Integer& MaxWidth, Integer& MaxHeight);
  virtual void AdjustSize();
  // Asks the parent to align its controls again.
  virtual void RequestAlign();

 protected:
  // Input.
  virtual void Click();
  virtual void DblClick();
  virtual void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y);
  virtual void MouseMove(TShiftState Shift, Integer X, Integer Y);
  virtual void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y);
  virtual Boolean DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos);
  virtual Boolean DoMouseWheelDown(TShiftState Shift, TPoint MousePos);
  virtual Boolean DoMouseWheelUp(TShiftState Shift, TPoint MousePos);
  virtual void DoContextPopup(TPoint MousePos, Boolean& Handled);
  virtual TPopupMenu* GetPopupMenu();
  // Passes a wheel message (CM_MOUSEWHEEL) to the control that handles it:
  // the form's focused control when there is a form (the form overrides).
  virtual void MouseWheelHandler(TMessage& Message);
  // Sends CM_CANCELMODE to the focused control of the form (modes such as a
  // dropped-down list end), unless it is Sender.
  void SendCancelMode(TControl* Sender);

  // Placement.
  virtual void Resize();
  virtual void ChangeScale(Integer M, Integer D);
  virtual TPoint GetClientOrigin();
  virtual TRect GetClientRect();
  virtual void SetClientSizeCore(Integer AWidth, Integer AHeight) {}
  void UpdateBoundsRect(const TRect& R);
  void UpdateAnchorRules();
  void DoConstrainedResize(Integer& NewWidth, Integer& NewHeight);
  Boolean DoCanAutoSize(Integer& NewWidth, Integer& NewHeight);
  Boolean DoCanResize(Integer& NewWidth, Integer& NewHeight);
  virtual void DoConstraintsChange(TObject* Sender);
  virtual void VisibleChanging();
  virtual Boolean GetEnabled();
  virtual void SetEnabled(Boolean Value);
  virtual void Changed();

  // Text.
  virtual const TCaption& GetText();
  virtual void SetText(const TCaption& Value);

  // Painting.
  virtual win::HDC GetDeviceContext(win::HWND& WindowHandle);
  virtual win::HPALETTE GetPalette() { return nullptr; }
  void InvalidateControl(Boolean IsVisible, Boolean IsOpaque);

  // Actions.
  virtual void ActionChange(TObject* Sender, Boolean CheckDefaults);
  virtual TBasicAction* GetAction();
  virtual TControlActionLinkClass GetActionLinkClass();

  // Drag and drop.
  virtual void BeginAutoDrag();
  virtual void DoStartDrag(TDragObject*& DragObject);
  virtual void DoEndDrag(TObject* Target, Integer X, Integer Y);
  virtual void DragOver(TObject* Source, Integer X, Integer Y, TDragState State, Boolean& Accept);
  virtual void DragCanceled() {}
  virtual TDragImageList* GetDragImages() { return nullptr; }
  virtual TDragMode GetDragMode() { return FDragMode; }
  virtual void SetDragMode(TDragMode Value) { FDragMode = Value; }
  // Sends a drag message to the control (CM_DRAG through Perform).
  virtual LRESULT DoDragMsg(TCMDrag& DragMsg);

  // Components.
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void Loaded() override;
  void ReadState(TReader* Reader) override;
  void DefineProperties(TFiler* Filer) override;
  void AssignTo(TPersistent* Dest) override;

  // The message handlers.
  void WMLButtonDown(TMessage& Message);
  void WMNCLButtonDown(TMessage& Message);
  void WMRButtonDown(TMessage& Message);
  void WMMButtonDown(TMessage& Message);
  void WMLButtonDblClk(TMessage& Message);
  void WMRButtonDblClk(TMessage& Message);
  void WMMButtonDblClk(TMessage& Message);
  void WMMouseMove(TMessage& Message);
  void WMLButtonUp(TMessage& Message);
  void WMRButtonUp(TMessage& Message);
  void WMMButtonUp(TMessage& Message);
  void WMMouseWheel(TMessage& Message);
  void WMCancelMode(TMessage& Message);
  void WMWindowPosChanged(TMessage& Message);
  void WMContextMenu(TMessage& Message);
  void CMVisibleChanged(TMessage& Message);
  void CMEnabledChanged(TMessage& Message);
  void CMFontChanged(TMessage& Message);
  void CMColorChanged(TMessage& Message);
  void CMParentFontChanged(TMessage& Message);
  void CMParentColorChanged(TMessage& Message);
  void CMParentShowHintChanged(TMessage& Message);
  void CMHitTest(TMessage& Message);
  void CMMouseEnter(TMessage& Message);
  void CMMouseLeave(TMessage& Message);
  void CMDesignHitTest(TMessage& Message);
  void CMHintShow(TMessage& Message);
  void CMParentBiDiModeChanged(TMessage& Message);
  void CMMouseWheel(TMessage& Message);
  void CMDrag(TMessage& Message);
  void CMFloat(TMessage& Message) {}

  Boolean FMouseInControl{};

 private:
  friend class TWinControl;
  friend class TControlCanvas;
  friend class TControlActionLink;
  friend class TDragObject;
  friend class TBaseDragControlObject;
  friend class TDragControlObject;

  void DoMouseDown(TMessage& Message, TMouseButton Button, TShiftState Shift);
  void DoMouseUp(TMessage& Message, TMouseButton Button);
  void FontChanged(TObject* Sender);
  void DoActionChange(TObject* Sender);
  TDragObject* NewDragObject();
  Boolean CheckNewSize(Integer& NewWidth, Integer& NewHeight);

  TWinControl* FParent{};
  TWndMethod FWindowProc;
  Integer FLeft{};
  Integer FTop{};
  Integer FWidth{};
  Integer FHeight{};
  TControlStyle FControlStyle{};
  TControlState FControlState{};
  Boolean FDesktopFont{};
  Boolean FVisible{};
  Boolean FEnabled{};
  Boolean FParentFont{};
  Boolean FParentColor{};
  TAlign FAlign{};
  Boolean FAutoSize{};
  TDragMode FDragMode{};
  Boolean FIsControl{};
  TBiDiMode FBiDiMode{};
  Boolean FParentBiDiMode{};
  TAnchors FAnchors{};
  Boolean FAnchorMove{};
  TCaption FText;
  TFont* FFont{};
  TControlActionLink* FActionLink{};
  TColor FColor{};
  TSizeConstraints* FConstraints{};
  TCursor FCursor{};
  TCursor FDragCursor{};
  TDragKind FDragKind{};
  TPopupMenu* FPopupMenu{};
  String FHint;
  Integer FFontHeight{};
  TPoint FAnchorRules{};
  TPoint FOriginalParentSize{};
  TScalingFlags FScalingFlags{};
  Boolean FShowHint{};
  Boolean FParentShowHint{};
  THelpType FHelpType{};
  String FHelpKeyword;
  THelpContext FHelpContext{};
  Integer FWheelAccumulator{};
  TNotifyEvent FOnClick;
  TNotifyEvent FOnDblClick;
  TMouseEvent FOnMouseDown;
  TMouseMoveEvent FOnMouseMove;
  TMouseEvent FOnMouseUp;
  TMouseWheelEvent FOnMouseWheel;
  TMouseWheelUpDownEvent FOnMouseWheelDown;
  TMouseWheelUpDownEvent FOnMouseWheelUp;
  TNotifyEvent FOnMouseEnter;
  TNotifyEvent FOnMouseLeave;
  TNotifyEvent FOnResize;
  TCanResizeEvent FOnCanResize;
  TConstrainedResizeEvent FOnConstrainedResize;
  TContextPopupEvent FOnContextPopup;
  TDragOverEvent FOnDragOver;
  TDragDropEvent FOnDragDrop;
  TStartDragEvent FOnStartDrag;
  TEndDragEvent FOnEndDrag;
  TEndDragEvent FOnEndDock;
  TStartDockEvent FOnStartDock;
};

using TControlClass = TClassOf<TControl>;

// The window-creation record CreateParams fills.
struct TCreateParams {
  const Char* Caption{};
  win::DWORD Style{};
  win::DWORD ExStyle{};
  Integer X{};
  Integer Y{};
  Integer Width{};
  Integer Height{};
  win::HWND WndParent{};
  void* Param{};
  win::WNDCLASSW WindowClass{};
  Char WinClassName[64]{};
};

// --- TWinControl ------------------------------------------------------------------------

// A control with a window: it owns child controls, takes the focus and
// keys, paints its graphic children and routes mouse messages to them.
class TWinControl : public TControl {
  CL_CLASS(TWinControl, TControl)
 public:
  void Create(TComponent* AOwner) override;
  // A control placed in a window that is not a framework control.
  virtual void CreateParented(win::HWND ParentWindow);
  void Destroy() override;

  void Dispatch(TMessage& Message) override;
  void DefaultHandler(TMessage& Message) override;
  void WndProc(TMessage& Message) override;

  // The window, created on first use (with the parents' windows).
  win::HWND Handle();
  // The window when it exists, nil otherwise (never creates one).
  win::HWND WindowHandle() const { return FHandle; }
  void SetWindowHandle(win::HWND Value) { FHandle = Value; }
  Boolean HandleAllocated() const { return FHandle != nullptr; }
  void HandleNeeded();
  // Destroys the window and those of the children (the control keeps its
  // state and makes them again when needed); RecreateWnd does both at once.
  virtual void DestroyHandle();
  void RecreateWnd();
  // Whether the window is shown: visible with every parent showing.
  Boolean Showing() const { return FShowing; }
  win::HWND ParentWindow() const { return FParentWindow; }
  void SetParentWindow(win::HWND Value);
  TBrush* Brush() const { return FBrush; }
  // The window procedure in place before the control subclassed the window.
  win::WNDPROC DefWndProc() const { return FDefWndProc; }
  void SetDefWndProc(win::WNDPROC Value) { FDefWndProc = Value; }

  // Children.
  Integer ControlCount() const;
  TControl* Controls(Integer Index) const;
  void InsertControl(TControl* AControl);
  void RemoveControl(TControl* AControl);
  Boolean ContainsControl(TControl* Control);
  TControl* ControlAtPos(const TPoint& Pos, Boolean AllowDisabled, Boolean AllowWinControls = false,
                         Boolean AllLevels = false);
  TControl* FindChildControl(const String& ControlName);
  void Broadcast(TMessage& Message);
  void NotifyControls(Word Msg);
  void GetChildren(TGetChildProc Proc, TComponent* Root) override;
  void SetChildOrder(TComponent* Child, Integer Order) override;

  // Alignment.
  void DisableAlign();
  void EnableAlign();
  void Realign();
  Boolean AlignDisabled() const { return FAlignLevel != 0; }
  TBorderWidth BorderWidth() const { return FBorderWidth; }
  void SetBorderWidth(TBorderWidth Value);

  // Focus.
  virtual Boolean CanFocus();
  virtual Boolean Focused();
  virtual void SetFocus();
  Boolean TabStop() const { return FTabStop; }
  void SetTabStop(Boolean Value);
  TTabOrder TabOrder();
  void SetTabOrder(TTabOrder Value);
  void GetTabOrderList(TList* List);
  // The windowed controls in tab order, each followed by its own list
  // (descendants may replace themselves by a control they host).
  virtual void GetTabOrderList(std::vector<TWinControl*>& List);
  TWinControl* FindNextControl(TWinControl* CurControl, Boolean GoForward, Boolean CheckTabStop,
                               Boolean CheckParent);
  void SelectFirst();
  void SelectNext(TWinControl* CurControl, Boolean GoForward, Boolean CheckTabStop);

  // Painting.
  void Invalidate() override;
  void Update() override;
  void Repaint() override;
  void PaintTo(win::HDC DC, Integer X, Integer Y);
  void PaintTo(TCanvas* Canvas, Integer X, Integer Y) { PaintTo(Canvas->Handle(), X, Y); }
  Boolean DoubleBuffered() const { return FDoubleBuffered; }
  void SetDoubleBuffered(Boolean Value);
  Boolean ParentDoubleBuffered() const { return FParentDoubleBuffered; }
  void SetParentDoubleBuffered(Boolean Value);
  Boolean ParentBackground() const { return FControlStyle.Contains(csParentBackground); }
  virtual void SetParentBackground(Boolean Value);
  Boolean IsCtl3DStored() { return !FParentCtl3D; }
  Boolean IsDoubleBufferedStored() { return !FParentDoubleBuffered; }
  Boolean Ctl3D() const { return FCtl3D; }
  void SetCtl3D(Boolean Value);
  Boolean ParentCtl3D() const { return FParentCtl3D; }
  void SetParentCtl3D(Boolean Value);

  void SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) override;
  void SetParent(TWinControl* AParent) override;
  void UpdateControlState();
  void ScaleBy(Integer M, Integer D);
  void ScrollBy(Integer DeltaX, Integer DeltaY);

  // Keys.
  const TNotifyEvent& OnEnter() const { return FOnEnter; }
  void SetOnEnter(const TNotifyEvent& Value) { FOnEnter = Value; }
  const TNotifyEvent& OnExit() const { return FOnExit; }
  void SetOnExit(const TNotifyEvent& Value) { FOnExit = Value; }
  const TKeyEvent& OnKeyDown() const { return FOnKeyDown; }
  void SetOnKeyDown(const TKeyEvent& Value) { FOnKeyDown = Value; }
  const TKeyPressEvent& OnKeyPress() const { return FOnKeyPress; }
  void SetOnKeyPress(const TKeyPressEvent& Value) { FOnKeyPress = Value; }
  const TKeyEvent& OnKeyUp() const { return FOnKeyUp; }
  void SetOnKeyUp(const TKeyEvent& Value) { FOnKeyUp = Value; }
  // Docking properties (kept and streamed; docking is not built).
  Boolean DockSite() const { return FDockSite; }
  void SetDockSite(Boolean Value) { FDockSite = Value; }
  Boolean UseDockManager() const { return FUseDockManager; }
  void SetUseDockManager(Boolean Value) { FUseDockManager = Value; }
  const TDockDropEvent& OnDockDrop() const { return FOnDockDrop; }
  void SetOnDockDrop(const TDockDropEvent& Value) { FOnDockDrop = Value; }
  const TDockOverEvent& OnDockOver() const { return FOnDockOver; }
  void SetOnDockOver(const TDockOverEvent& Value) { FOnDockOver = Value; }
  const TGetSiteInfoEvent& OnGetSiteInfo() const { return FOnGetSiteInfo; }
  void SetOnGetSiteInfo(const TGetSiteInfoEvent& Value) { FOnGetSiteInfo = Value; }
  const TUnDockEvent& OnUnDock() const { return FOnUnDock; }
  void SetOnUnDock(const TUnDockEvent& Value) { FOnUnDock = Value; }

  // Mirrors the children left to right (alLeft and alRight swap); with
  // AllLevels their children too.
  virtual void FlipChildren(Boolean AllLevels);

  const TAlignInsertBeforeEvent& OnAlignInsertBefore() const { return FOnAlignInsertBefore; }
  void SetOnAlignInsertBefore(const TAlignInsertBeforeEvent& Value) { FOnAlignInsertBefore = Value; }

  // Hooks of the forms unit, which a form overrides: whether this control is
  // a form (the end of GetParentForm's walk), whether it previews the keys of
  // its controls (KeyPreview), and whether a key message is one of its
  // shortcuts (its menu's or actions').
  virtual Boolean IsFormControl() const { return false; }
  virtual Boolean FormKeyPreview() { return false; }
  virtual Boolean IsShortCut(TWMKey& Message) { return false; }
  // Focus tracking of the control at the top of a tree (a form, or a
  // control placed in a foreign window): FocusControl gives Control the
  // focus; SetFocusedControl is told by WM_SETFOCUS that Control took it
  // (false refuses) and sends CM_EXIT to the controls the focus leaves and
  // CM_ENTER to those it enters, outermost first.
  virtual void FocusControl(TWinControl* Control);
  virtual Boolean SetFocusedControl(TWinControl* Control);
  // Told that Control (or a control inside it) is being hidden, disabled or,
  // with Removing, taken out of the tree (moved or freed): the focus
  // tracking steps back to Control's parent, which then loses the focus
  // with CM_EXIT when the focus moves on.
  virtual void DefocusControl(TWinControl* Control, Boolean Removing);
  // Tells the top control that this control can no longer hold the focus.
  void RemoveFocus(Boolean Removing);
  // The control that has the focus within this top control, nil when none.
  TWinControl* FocusedControl() const { return FFocusedControl; }

  // Reflects a notification from the parent to the child window it concerns
  // (the child gets Msg + CN_BASE); false when the window is not a control.
  static Boolean DoControlMsg(win::HWND ControlHandle, TMessage& Message);

  // The key steps, public because a form's key preview calls them on itself.
  virtual Boolean DoKeyDown(TWMKey& Message);
  virtual Boolean DoKeyPress(TWMKey& Message);
  virtual Boolean DoKeyUp(TWMKey& Message);

 protected:
  // Window creation.
  virtual void CreateParams(TCreateParams& Params);
  virtual void CreateWnd();
  virtual void CreateWindowHandle(const TCreateParams& Params);
  virtual void CreateHandle();
  virtual void DestroyWnd();
  virtual void DestroyWindowHandle();
  void CreateSubClass(TCreateParams& Params, const Char* ControlClassName);
  void AddBiDiModeExStyle(win::DWORD& ExStyle);
  virtual win::HWND GetParentHandle();
  win::HWND GetTopParentHandle();
  void MainWndProc(TMessage& Message);
  void DefWndHandler(TMessage& Message) { DefaultHandler(Message); }

  // Alignment.
  virtual void AdjustClientRect(TRect& Rect);
  virtual void AlignControls(TControl* AControl, TRect& Rect);
  virtual void ControlsAligned() {}
  virtual Boolean CustomAlignInsertBefore(TControl* C1, TControl* C2);
  virtual void CustomAlignPosition(TControl* Control, Integer& NewLeft, Integer& NewTop, Integer& NewWidth,
                                   Integer& NewHeight, TRect& AlignRect);
  void AdjustSize() override;
  Boolean CanAutoSize(Integer& NewWidth, Integer& NewHeight) override;
  void ConstrainedResize(Integer& MinWidth, Integer& MinHeight, Integer& MaxWidth, Integer& MaxHeight) override;
  void ChangeScale(Integer M, Integer D) override;
  void ScaleControls(Integer M, Integer D);
  TPoint GetClientOrigin() override;
  TRect GetClientRect() override;
  void SetClientSizeCore(Integer AWidth, Integer AHeight) override;
  virtual void ShowControl(TControl* AControl) {}
  void SetZOrder(Boolean TopMost) override;

  // Painting.
  virtual void PaintWindow(win::HDC DC);
  void PaintHandler(TMessage& Message);
  void PaintControls(win::HDC DC, TControl* First);
  win::HDC GetDeviceContext(win::HWND& WindowHandle) override;
  // Whether a mouse message falls on a graphic child; sends it there.
  Boolean IsControlMouseMsg(TMessage& Message);

  // Focus and keys.
  virtual void DoEnter();
  virtual void DoExit();
  virtual void KeyDown(Word& Key, TShiftState Shift);
  virtual void KeyUp(Word& Key, TShiftState Shift);
  virtual void KeyPress(Char& Key);
  void FixupTabList();

  // Components.
  void ReadState(TReader* Reader) override;
  void Loaded() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  TControlActionLinkClass GetActionLinkClass() override;
  void AssignTo(TPersistent* Dest) override;

  // The message handlers.
  void WMPaint(TMessage& Message);
  // WM_PAINT of a control that paints itself (a custom control, a form):
  // PaintWindow and the graphic children paint, with or without children.
  void WMPaintCustom(TMessage& Message);
  void WMCommand(TMessage& Message);
  void WMNotify(TMessage& Message);
  void WMSysColorChange(TMessage& Message);
  void WMHScroll(TMessage& Message);
  void WMVScroll(TMessage& Message);
  void WMCompareItem(TMessage& Message);
  void WMDeleteItem(TMessage& Message);
  void WMDrawItem(TMessage& Message);
  void WMMeasureItem(TMessage& Message);
  void WMEraseBkgnd(TMessage& Message);
  void WMWindowPosChanged(TMessage& Message);
  void WMWindowPosChanging(TMessage& Message);
  void WMSize(TMessage& Message);
  void WMMove(TMessage& Message);
  void WMSetCursor(TMessage& Message);
  void WMKeyDown(TMessage& Message);
  void WMSysKeyDown(TMessage& Message);
  void WMKeyUp(TMessage& Message);
  void WMSysKeyUp(TMessage& Message);
  void WMChar(TMessage& Message);
  void WMSysChar(TMessage& Message);
  void WMCharToItem(TMessage& Message);
  void WMParentNotify(TMessage& Message);
  void WMVKeyToItem(TMessage& Message);
  void WMCtlColor(TMessage& Message);
  void WMSetFocus(TMessage& Message);
  void WMKillFocus(TMessage& Message);
  void WMNCDestroy(TMessage& Message);
  void WMNCHitTest(TMessage& Message);
  void WMNCPaint(TMessage& Message);
  void WMWinIniChange(TMessage& Message);
  void WMFontChange(TMessage& Message);
  void WMTimeChange(TMessage& Message);
  void WMContextMenu(TMessage& Message);
  void CMChanged(TMessage& Message);
  void CMChildKey(TMessage& Message);
  void CMDialogKey(TMessage& Message);
  void CMDialogChar(TMessage& Message);
  void CMFocusChanged(TMessage& Message);
  void CMVisibleChanged(TMessage& Message);
  void CMEnabledChanged(TMessage& Message);
  void CMColorChanged(TMessage& Message);
  void CMFontChanged(TMessage& Message);
  void CMBorderChanged(TMessage& Message);
  void CMCursorChanged(TMessage& Message);
  void CMCtl3DChanged(TMessage& Message);
  void CMParentCtl3DChanged(TMessage& Message);
  void CMShowingChanged(TMessage& Message);
  void CMShowHintChanged(TMessage& Message);
  void CMEnter(TMessage& Message);
  void CMExit(TMessage& Message);
  void CMSysColorChange(TMessage& Message);
  void CMSysFontChanged(TMessage& Message);
  void CMWinIniChange(TMessage& Message);
  void CMFontChange(TMessage& Message);
  void CMTimeChange(TMessage& Message);
  void CMDrag(TMessage& Message);
  void CNKeyDown(TMessage& Message);
  void CNKeyUp(TMessage& Message);
  void CNChar(TMessage& Message);
  void CNSysKeyDown(TMessage& Message);
  void CNSysChar(TMessage& Message);
  void CMMouseWheel(TMessage& Message);
  void CMInvalidate(TMessage& Message);
  void CMBiDiModeChanged(TMessage& Message);
  void CMTextChanged(TMessage& Message);
  void CMDoubleBufferedChanged(TMessage& Message);
  void CMParentDoubleBufferedChanged(TMessage& Message);
  void CMRecreateWnd(TMessage& Message);
  void CMTabStopChanged(TMessage& Message) {}
  void CMDestroyHandle(TMessage& Message);

 private:
  friend class TControl;
  friend class TControlCanvas;
  friend struct TWinControlAccess;

  void AlignControl(TControl* AControl);
  void DoAlign(TControl* AControl, TAlign AAlign, TRect& Rect);
  Boolean AlignWork();
  void Insert(TControl* AControl);
  void Remove(TControl* AControl);
  Boolean IsMenuKey(TWMKey& Message);
  void SetZOrderPosition(Integer Position);
  void UpdateShowing();
  void UpdateBounds();
  void UpdateTabOrder(TTabOrder Value);
  void PaintDoubleBuffered(TMessage& Message);
  TWinControl* ParentFormOf();

  TWinControl* FFocusedControl{};      // for a top control: which control has the focus
  TTabOrder FTabOrder{};               // read from a form file, placed by FixupTabList
  win::HWND FHandle{};
  win::HWND FParentWindow{};
  win::WNDPROC FObjectInstance{};
  win::WNDPROC FDefWndProc{};
  TBrush* FBrush{};
  std::vector<TControl*> FControls;    // graphic children, in z-order
  std::vector<TWinControl*> FWinControls;  // windowed children, in z-order
  std::vector<TWinControl*> FTabList;
  TBorderWidth FBorderWidth{};
  Integer FAlignLevel{};
  Boolean FShowing{};
  Boolean FTabStop{};
  Boolean FCtl3D{};
  Boolean FParentCtl3D{};
  Boolean FDoubleBuffered{};
  Boolean FParentDoubleBuffered{};
  TNotifyEvent FOnEnter;
  TNotifyEvent FOnExit;
  TKeyEvent FOnKeyDown;
  TKeyPressEvent FOnKeyPress;
  TKeyEvent FOnKeyUp;
  TAlignInsertBeforeEvent FOnAlignInsertBefore;
  Boolean FDockSite{};
  Boolean FUseDockManager{};
  TDockDropEvent FOnDockDrop;
  TDockOverEvent FOnDockOver;
  TGetSiteInfoEvent FOnGetSiteInfo;
  TUnDockEvent FOnUnDock;
};

using TWinControlClass = TClassOf<TWinControl>;

// --- TGraphicControl, TCustomControl ----------------------------------------------

// A control without a window that paints on its parent's DC through Canvas.
class TGraphicControl : public TControl {
  CL_CLASS(TGraphicControl, TControl)
 public:
  void Create(TComponent* AOwner) override;
  void Destroy() override;
  void Dispatch(TMessage& Message) override;
  TCanvas* Canvas() const { return FCanvas; }

 protected:
  virtual void Paint() {}
  void WMPaint(TMessage& Message);
  void CMFontChanged(TMessage& Message);

 private:
  TCanvas* FCanvas{};
};

// A windowed control that paints through Canvas in Paint.
class TCustomControl : public TWinControl {
  CL_CLASS(TCustomControl, TWinControl)
 public:
  void Create(TComponent* AOwner) override;
  void Destroy() override;
  void Dispatch(TMessage& Message) override;
  TCanvas* Canvas() const { return FCanvas; }

 protected:
  virtual void Paint() {}
  void PaintWindow(win::HDC DC) override;

 private:
  TCanvas* FCanvas{};
};

using TCustomControlClass = TClassOf<TCustomControl>;

// --- Drag and drop ----------------------------------------------------------------

// The state of a drag: the source, the target under the mouse and its
// answer, and the cursor.
class TDragObject : public TObject {
  CL_CLASS(TDragObject, TObject)
 public:
  virtual void Create();
  virtual void Assign(TDragObject* Source);
  virtual TCursor GetDragCursor(Boolean Accepted, Integer X, Integer Y);
  virtual TDragImageList* GetDragImages() { return nullptr; }
  virtual void HideDragImage() {}
  virtual void ShowDragImage() {}
  virtual void Finished(TObject* Target, Integer X, Integer Y, Boolean Accepted) {}
  virtual String GetName();
  virtual Boolean Instance() const { return false; }

  Boolean Cancelling() const { return FCancelling; }
  void SetCancelling(Boolean Value) { FCancelling = Value; }
  win::HWND DragHandle() const { return FDragHandle; }
  TPoint DragPos() const { return FDragPos; }
  void SetDragPos(const TPoint& Value) { FDragPos = Value; }
  TPoint DragTargetPos() const { return FDragTargetPos; }
  void SetDragTargetPos(const TPoint& Value) { FDragTargetPos = Value; }
  void* DragTarget() const { return FDragTarget; }
  void SetDragTarget(void* Value) { FDragTarget = Value; }
  Boolean Dropped() const { return FDropped; }
  Integer MouseDeltaX() const { return FMouseDeltaX; }
  Integer MouseDeltaY() const { return FMouseDeltaY; }
  Boolean AlwaysShowDragImages() const { return FAlwaysShowDragImages; }
  void SetAlwaysShowDragImages(Boolean Value) { FAlwaysShowDragImages = Value; }

 protected:
  friend class TControl;
  friend void DragDone(Boolean Drop);
  friend void DragTo(const TPoint& Pos);
  void SetDropped(Boolean Value) { FDropped = Value; }
  Boolean FCancelling{};
  win::HWND FDragHandle{};
  TPoint FDragPos{};
  TPoint FDragTargetPos{};
  void* FDragTarget{};
  Boolean FDropped{};
  Integer FMouseDeltaX{};
  Integer FMouseDeltaY{};
  Boolean FAlwaysShowDragImages{};
};

using TDragObjectClass = TClassOf<TDragObject>;

// A drag object that frees itself when the drag ends.
class TDragObjectEx : public TDragObject {
  CL_CLASS(TDragObjectEx, TDragObject)
 public:
  Boolean Instance() const override { return true; }
};

// A drag that a control started.
class TBaseDragControlObject : public TDragObject {
  CL_CLASS(TBaseDragControlObject, TDragObject)
 public:
  using TDragObject::Create;
  virtual void Create(TControl* AControl);
  void Assign(TDragObject* Source) override;
  TControl* Control() const { return FControl; }
  void SetControl(TControl* Value) { FControl = Value; }

 protected:
  virtual void EndDrag(TObject* Target, Integer X, Integer Y);
  void Finished(TObject* Target, Integer X, Integer Y, Boolean Accepted) override;

 private:
  TControl* FControl{};
};

class TDragControlObject : public TBaseDragControlObject {
  CL_CLASS(TDragControlObject, TBaseDragControlObject)
 public:
  TCursor GetDragCursor(Boolean Accepted, Integer X, Integer Y) override;
  TDragImageList* GetDragImages() override;
  void HideDragImage() override;
  void ShowDragImage() override;
};

class TDragControlObjectEx : public TDragControlObject {
  CL_CLASS(TDragControlObjectEx, TDragControlObject)
 public:
  Boolean Instance() const override { return true; }
};

// The drag object of a docking operation (the type of the docking events).
class TDragDockObject : public TDragControlObject {
  CL_CLASS(TDragDockObject, TDragControlObject)
 public:
  const TRect& DockRect() const { return FDockRect; }
  void SetDockRect(const TRect& Value) { FDockRect = Value; }

 private:
  TRect FDockRect{};
};

// The drag running now (nil when none) and its source control.
TDragObject* DragObject();
// Moves the running drag to a screen point (the mouse loop calls it);
// ends it with Drop when asked.
void DragTo(const TPoint& Pos);
void DragDone(Boolean Drop);
// The control under a screen point that accepts drops (for drag and drop),
// with the point in its client coordinates.
TControl* FindDragTarget(const TPoint& Pos, Boolean AllowDisabled);

// --- Mouse ----------------------------------------------------------------------------

// The mouse: its position, the capture control, the wheel and the drag
// threshold.
class TMouse : public TObject {
  CL_CLASS(TMouse, TObject)
 public:
  void Create();
  TPoint CursorPos();
  void SetCursorPos(const TPoint& Value);
  win::HWND Capture();
  void SetCapture(win::HWND Value);
  Boolean DragImmediate() const { return FDragImmediate; }
  void SetDragImmediate(Boolean Value) { FDragImmediate = Value; }
  Integer DragThreshold() const { return FDragThreshold; }
  void SetDragThreshold(Integer Value) { FDragThreshold = Value; }
  Boolean MousePresent() const { return true; }
  Boolean WheelPresent() const { return true; }
  Integer WheelScrollLines();
  void SettingChanged(Integer Setting) {}

 private:
  Boolean FDragImmediate{};
  Integer FDragThreshold{};
};

// The global mouse object (made by the unit's start-up step, or on first use).
TMouse* Mouse();

// --- Helpers ----------------------------------------------------------------------------

// The control of a window made by this framework; nil for any other window.
TWinControl* FindControl(win::HWND Handle);
// Whether the window belongs to a framework control.
Boolean IsVCLControl(win::HWND Handle);
// The framework control under a screen point (FindVCLWindow).
TWinControl* FindVCLWindow(const TPoint& Pos);
// The control that gets mouse messages (capture), and setting it.
TControl* GetCaptureControl();
void SetCaptureControl(TControl* Control);
// The top form-like control of Control (a TWinControl that answers
// IsFormControl), nil when there is none.
TWinControl* GetParentFormControl(TControl* Control, Boolean TopForm = true);
// Cancels a running drag.
void CancelDrag();
// Sends a key message of the queue to its framework control first as CN_x
// (CN_KEYDOWN, CN_CHAR, ...); true when the control handled it and the
// message must not be dispatched. The application's message loop calls it.
Boolean IsKeyMsg(win::MSG& Msg);
// Registers the control classes for streaming (the unit's start-up step).
void RegisterControlClasses();

// The short hint (before "|") and the long hint (after it).
String GetShortHint(const String& Hint);
String GetLongHint(const String& Hint);
