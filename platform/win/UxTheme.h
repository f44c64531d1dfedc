// The visual-theme API (uxtheme) answered by a theme engine of our own.
//
// The engine draws a plain look of its own with the GDI layer: flat faces
// with a one-pixel border whose colours follow the state (normal, hot,
// pressed, disabled, default), check boxes, radio buttons, arrows, grippers,
// separators, progress chunks and the rest that controls ask for. Part sizes
// and content margins are constants of the engine, listed in one table in
// UxTheme.cpp. Themes are active by default; SetThemesActive (or the
// environment setting CL_THEMES=off at start-up) switches them off: then
// OpenThemeData answers nil, IsThemeActive and IsAppThemed FALSE, and every
// top-level window and its children receive WM_THEMECHANGED.
//
// Names, structures and values are the platform's; part and state numbers
// are those of the platform's theme classes.
#pragma once

#include "platform/win/WinTypes.h"

namespace win {

struct TEXTMETRICW;
struct LOGFONTW;

struct HTHEME__;
using HTHEME = HTHEME__*;

struct MARGINS {
  int cxLeftWidth{};
  int cxRightWidth{};
  int cyTopHeight{};
  int cyBottomHeight{};
};

enum THEMESIZE : int { TS_MIN = 0, TS_TRUE = 1, TS_DRAW = 2 };

enum PROPERTYORIGIN : int { PO_STATE = 0, PO_PART = 1, PO_CLASS = 2, PO_GLOBAL = 3, PO_NOTFOUND = 4 };

constexpr int MAX_INTLIST_COUNT = 402;
struct INTLIST {
  int iValueCount{};
  int iValues[MAX_INTLIST_COUNT]{};
};

struct DTBGOPTS {
  DWORD dwSize{};
  DWORD dwFlags{};
  RECT rcClip{};
};
constexpr DWORD DTBG_CLIPRECT = 0x00000001, DTBG_DRAWSOLID = 0x00000002, DTBG_OMITBORDER = 0x00000004,
                DTBG_OMITCONTENT = 0x00000008, DTBG_COMPUTINGREGION = 0x00000010, DTBG_MIRRORDC = 0x00000020,
                DTBG_NOMIRROR = 0x00000040;

using DTT_CALLBACK_PROC = int (*)(HDC hdc, LPWSTR pszText, int cchText, LPRECT prc, UINT dwFlags,
                                  LPARAM lParam);
struct DTTOPTS {
  DWORD dwSize{};
  DWORD dwFlags{};
  COLORREF crText{};
  COLORREF crBorder{};
  COLORREF crShadow{};
  int iTextShadowType{};
  POINT ptShadowOffset{};
  int iBorderSize{};
  int iFontPropId{};
  int iColorPropId{};
  int iStateId{};
  BOOL fApplyOverlay{};
  int iGlowSize{};
  DTT_CALLBACK_PROC pfnDrawTextCallback{};
  LPARAM lParam{};
};
constexpr DWORD DTT_TEXTCOLOR = 0x00000001, DTT_CALCRECT = 0x00000200;

// DrawThemeText's second flags.
constexpr DWORD DTT_GRAYED = 0x00000001;

// HitTestThemeBackground
constexpr DWORD HTTB_BACKGROUNDSEG = 0x00000000, HTTB_FIXEDBORDER = 0x00000002, HTTB_CAPTION = 0x00000004,
                HTTB_RESIZINGBORDER = 0x000000F0, HTTB_SIZINGTEMPLATE = 0x00000100,
                HTTB_SYSTEMSIZINGMARGINS = 0x00000200;

// Theme application properties
constexpr DWORD STAP_ALLOW_NONCLIENT = 1, STAP_ALLOW_CONTROLS = 2, STAP_ALLOW_WEBCONTENT = 4;

// EnableThemeDialogTexture
constexpr DWORD ETDT_DISABLE = 1, ETDT_ENABLE = 2, ETDT_USETABTEXTURE = 4, ETDT_ENABLETAB = 6;

// The answer for a property the theme does not define: HRESULT_FROM_WIN32(ERROR_NOT_FOUND).
constexpr HRESULT E_PROP_ID_UNSUPPORTED = static_cast<HRESULT>(0x80070490u);
constexpr HRESULT E_HANDLE = static_cast<HRESULT>(0x80070006u);
constexpr HRESULT E_POINTER = static_cast<HRESULT>(0x80004003u);

// Property identifiers the engine answers.
constexpr int TMT_BORDERSIZE = 2403;
constexpr int TMT_SIZINGMARGINS = 3601, TMT_CONTENTMARGINS = 3602, TMT_CAPTIONMARGINS = 3603;
constexpr int TMT_BORDERCOLOR = 3801, TMT_FILLCOLOR = 3802, TMT_TEXTCOLOR = 3803, TMT_EDGELIGHTCOLOR = 3804,
              TMT_EDGEHIGHLIGHTCOLOR = 3805, TMT_EDGESHADOWCOLOR = 3806, TMT_EDGEDKSHADOWCOLOR = 3807,
              TMT_EDGEFILLCOLOR = 3808;
constexpr int TMT_CAPTIONFONT = 801, TMT_SMALLCAPTIONFONT = 802, TMT_MENUFONT = 803, TMT_STATUSFONT = 804,
              TMT_MSGBOXFONT = 805, TMT_ICONTITLEFONT = 806;
constexpr int TMT_FLATMENUS = 1001;

// ---------------------------------------------------------------------------
// Theme classes, parts and states

// BUTTON
constexpr int BP_PUSHBUTTON = 1, BP_RADIOBUTTON = 2, BP_CHECKBOX = 3, BP_GROUPBOX = 4, BP_USERBUTTON = 5;
constexpr int PBS_NORMAL = 1, PBS_HOT = 2, PBS_PRESSED = 3, PBS_DISABLED = 4, PBS_DEFAULTED = 5,
              PBS_DEFAULTED_ANIMATING = 6;
constexpr int RBS_UNCHECKEDNORMAL = 1, RBS_UNCHECKEDHOT = 2, RBS_UNCHECKEDPRESSED = 3,
              RBS_UNCHECKEDDISABLED = 4, RBS_CHECKEDNORMAL = 5, RBS_CHECKEDHOT = 6, RBS_CHECKEDPRESSED = 7,
              RBS_CHECKEDDISABLED = 8;
constexpr int CBS_UNCHECKEDNORMAL = 1, CBS_UNCHECKEDHOT = 2, CBS_UNCHECKEDPRESSED = 3,
              CBS_UNCHECKEDDISABLED = 4, CBS_CHECKEDNORMAL = 5, CBS_CHECKEDHOT = 6, CBS_CHECKEDPRESSED = 7,
              CBS_CHECKEDDISABLED = 8, CBS_MIXEDNORMAL = 9, CBS_MIXEDHOT = 10, CBS_MIXEDPRESSED = 11,
              CBS_MIXEDDISABLED = 12;
constexpr int GBS_NORMAL = 1, GBS_DISABLED = 2;

// EDIT
constexpr int EP_EDITTEXT = 1, EP_CARET = 2, EP_BACKGROUND = 3, EP_PASSWORD = 4, EP_BACKGROUNDWITHBORDER = 5,
              EP_EDITBORDER_NOSCROLL = 6, EP_EDITBORDER_HSCROLL = 7, EP_EDITBORDER_VSCROLL = 8,
              EP_EDITBORDER_HVSCROLL = 9;
constexpr int ETS_NORMAL = 1, ETS_HOT = 2, ETS_SELECTED = 3, ETS_DISABLED = 4, ETS_FOCUSED = 5,
              ETS_READONLY = 6, ETS_ASSIST = 7;
constexpr int EBS_NORMAL = 1, EBS_HOT = 2, EBS_DISABLED = 3, EBS_FOCUSED = 4, EBS_READONLY = 5,
              EBS_ASSIST = 6;
constexpr int EPSN_NORMAL = 1, EPSN_HOT = 2, EPSN_FOCUSED = 3, EPSN_DISABLED = 4;

// COMBOBOX
constexpr int CP_DROPDOWNBUTTON = 1, CP_BACKGROUND = 2, CP_TRANSPARENTBACKGROUND = 3, CP_BORDER = 4,
              CP_READONLY = 5, CP_DROPDOWNBUTTONRIGHT = 6, CP_DROPDOWNBUTTONLEFT = 7, CP_CUEBANNER = 8;
constexpr int CBXS_NORMAL = 1, CBXS_HOT = 2, CBXS_PRESSED = 3, CBXS_DISABLED = 4;

// LISTBOX (the borders) and LISTVIEW
constexpr int LBCP_BORDER_HSCROLL = 1, LBCP_BORDER_HVSCROLL = 2, LBCP_BORDER_NOSCROLL = 3,
              LBCP_BORDER_VSCROLL = 4, LBCP_ITEM = 5;
constexpr int LVP_LISTITEM = 1, LVP_LISTGROUP = 2, LVP_LISTDETAIL = 3, LVP_LISTSORTEDDETAIL = 4,
              LVP_EMPTYTEXT = 5;

// SCROLLBAR
constexpr int SBP_ARROWBTN = 1, SBP_THUMBBTNHORZ = 2, SBP_THUMBBTNVERT = 3, SBP_LOWERTRACKHORZ = 4,
              SBP_UPPERTRACKHORZ = 5, SBP_LOWERTRACKVERT = 6, SBP_UPPERTRACKVERT = 7, SBP_GRIPPERHORZ = 8,
              SBP_GRIPPERVERT = 9, SBP_SIZEBOX = 10;
constexpr int ABS_UPNORMAL = 1, ABS_UPHOT = 2, ABS_UPPRESSED = 3, ABS_UPDISABLED = 4, ABS_DOWNNORMAL = 5,
              ABS_DOWNHOT = 6, ABS_DOWNPRESSED = 7, ABS_DOWNDISABLED = 8, ABS_LEFTNORMAL = 9,
              ABS_LEFTHOT = 10, ABS_LEFTPRESSED = 11, ABS_LEFTDISABLED = 12, ABS_RIGHTNORMAL = 13,
              ABS_RIGHTHOT = 14, ABS_RIGHTPRESSED = 15, ABS_RIGHTDISABLED = 16;
constexpr int SCRBS_NORMAL = 1, SCRBS_HOT = 2, SCRBS_PRESSED = 3, SCRBS_DISABLED = 4;
constexpr int SZB_RIGHTALIGN = 1, SZB_LEFTALIGN = 2;

// SPIN
constexpr int SPNP_UP = 1, SPNP_DOWN = 2, SPNP_UPHORZ = 3, SPNP_DOWNHORZ = 4;
constexpr int UPS_NORMAL = 1, UPS_HOT = 2, UPS_PRESSED = 3, UPS_DISABLED = 4;
constexpr int DNS_NORMAL = 1, DNS_HOT = 2, DNS_PRESSED = 3, DNS_DISABLED = 4;

// HEADER
constexpr int HP_HEADERITEM = 1, HP_HEADERITEMLEFT = 2, HP_HEADERITEMRIGHT = 3, HP_HEADERSORTARROW = 4;
constexpr int HIS_NORMAL = 1, HIS_HOT = 2, HIS_PRESSED = 3;

// TAB
constexpr int TABP_TABITEM = 1, TABP_TABITEMLEFTEDGE = 2, TABP_TABITEMRIGHTEDGE = 3, TABP_TABITEMBOTHEDGE = 4,
              TABP_TOPTABITEM = 5, TABP_TOPTABITEMLEFTEDGE = 6, TABP_TOPTABITEMRIGHTEDGE = 7,
              TABP_TOPTABITEMBOTHEDGE = 8, TABP_PANE = 9, TABP_BODY = 10;
constexpr int TIS_NORMAL = 1, TIS_HOT = 2, TIS_SELECTED = 3, TIS_DISABLED = 4, TIS_FOCUSED = 5;

// TOOLBAR
constexpr int TP_BUTTON = 1, TP_DROPDOWNBUTTON = 2, TP_SPLITBUTTON = 3, TP_SPLITBUTTONDROPDOWN = 4,
              TP_SEPARATOR = 5, TP_SEPARATORVERT = 6;
constexpr int TS_NORMAL = 1, TS_HOT = 2, TS_PRESSED = 3, TS_DISABLED = 4, TS_CHECKED = 5, TS_HOTCHECKED = 6;

// REBAR
constexpr int RP_GRIPPER = 1, RP_GRIPPERVERT = 2, RP_BAND = 3, RP_CHEVRON = 4, RP_CHEVRONVERT = 5;

// STATUS
constexpr int SP_PANE = 1, SP_GRIPPERPANE = 2, SP_GRIPPER = 3;

// PROGRESS
constexpr int PP_BAR = 1, PP_BARVERT = 2, PP_CHUNK = 3, PP_CHUNKVERT = 4;

// TRACKBAR
constexpr int TKP_TRACK = 1, TKP_TRACKVERT = 2, TKP_THUMB = 3, TKP_THUMBBOTTOM = 4, TKP_THUMBTOP = 5,
              TKP_THUMBVERT = 6, TKP_THUMBLEFT = 7, TKP_THUMBRIGHT = 8, TKP_TICS = 9, TKP_TICSVERT = 10;
constexpr int TRS_NORMAL = 1;

// TREEVIEW
constexpr int TVP_TREEITEM = 1, TVP_GLYPH = 2, TVP_BRANCH = 3;
constexpr int GLPS_CLOSED = 1, GLPS_OPENED = 2;

// EXPLORERBAR
constexpr int EBP_HEADERBACKGROUND = 1, EBP_HEADERCLOSE = 2, EBP_HEADERPIN = 3, EBP_IEBARMENU = 4,
              EBP_NORMALGROUPBACKGROUND = 5, EBP_NORMALGROUPCOLLAPSE = 6, EBP_NORMALGROUPEXPAND = 7,
              EBP_NORMALGROUPHEAD = 8, EBP_SPECIALGROUPBACKGROUND = 9, EBP_SPECIALGROUPCOLLAPSE = 10,
              EBP_SPECIALGROUPEXPAND = 11, EBP_SPECIALGROUPHEAD = 12;
constexpr int EBNGC_NORMAL = 1, EBNGC_HOT = 2, EBNGC_PRESSED = 3;
constexpr int EBNGE_NORMAL = 1, EBNGE_HOT = 2, EBNGE_PRESSED = 3;

// WINDOW
constexpr int WP_CAPTION = 1, WP_SMALLCAPTION = 2, WP_MINCAPTION = 3, WP_SMALLMINCAPTION = 4,
              WP_MAXCAPTION = 5, WP_SMALLMAXCAPTION = 6, WP_FRAMELEFT = 7, WP_FRAMERIGHT = 8,
              WP_FRAMEBOTTOM = 9, WP_SMALLFRAMELEFT = 10, WP_SMALLFRAMERIGHT = 11, WP_SMALLFRAMEBOTTOM = 12,
              WP_SYSBUTTON = 13, WP_MDISYSBUTTON = 14, WP_MINBUTTON = 15, WP_MDIMINBUTTON = 16,
              WP_MAXBUTTON = 17, WP_CLOSEBUTTON = 18, WP_SMALLCLOSEBUTTON = 19, WP_MDICLOSEBUTTON = 20,
              WP_RESTOREBUTTON = 21, WP_MDIRESTOREBUTTON = 22, WP_HELPBUTTON = 23, WP_MDIHELPBUTTON = 24,
              WP_HORZSCROLL = 25, WP_HORZTHUMB = 26, WP_VERTSCROLL = 27, WP_VERTTHUMB = 28, WP_DIALOG = 29;
constexpr int CBS_NORMAL = 1, CBS_HOT = 2, CBS_PUSHED = 3, CBS_DISABLED = 4;  // close buttons
constexpr int MINBS_NORMAL = 1, MINBS_HOT = 2, MINBS_PUSHED = 3, MINBS_DISABLED = 4;
constexpr int RBS_NORMAL = 1, RBS_HOT = 2, RBS_PUSHED = 3, RBS_DISABLED = 4;  // restore buttons

// TOOLTIP and MENU (the parts the engine draws as plain panels)
constexpr int TTP_STANDARD = 1, TTP_STANDARDTITLE = 2, TTP_BALLOON = 3, TTP_BALLOONTITLE = 4, TTP_CLOSE = 5;
constexpr int MENU_MENUITEM_TMSCHEMA = 1, MENU_POPUPBACKGROUND = 9, MENU_POPUPITEM = 14;

// ---------------------------------------------------------------------------
// The engine's setting

// Switches the theme engine on or off for the process. A change sends
// WM_THEMECHANGED to every window. The initial value is on, unless the
// environment holds CL_THEMES=off (or 0) when the engine is first asked.
void SetThemesActive(bool Active);
bool ThemesActive();
// The theme file and colour variant that GetCurrentThemeName reports (the
// engine's own "Plain" theme unless set; nil restores it). Nothing is
// broadcast: the caller switches themes off and on to announce it.
void SetCurrentThemeName(const char16_t* FileName, const char16_t* ColorName);

// ---------------------------------------------------------------------------
// Functions

HTHEME OpenThemeData(HWND hwnd, LPCWSTR pszClassList);
HTHEME OpenThemeDataEx(HWND hwnd, LPCWSTR pszClassList, DWORD dwFlags);
HRESULT CloseThemeData(HTHEME hTheme);
BOOL IsThemeActive();
BOOL IsAppThemed();
HRESULT EnableTheming(BOOL fEnable);
DWORD GetThemeAppProperties();
void SetThemeAppProperties(DWORD dwFlags);
HRESULT GetCurrentThemeName(LPWSTR pszThemeFileName, int cchMaxNameChars, LPWSTR pszColorBuff,
                            int cchMaxColorChars, LPWSTR pszSizeBuff, int cchMaxSizeChars);
HRESULT GetThemeDocumentationProperty(LPCWSTR pszThemeName, LPCWSTR pszPropertyName, LPWSTR pszValueBuff,
                                      int cchMaxValChars);
HRESULT SetWindowTheme(HWND hwnd, LPCWSTR pszSubAppName, LPCWSTR pszSubIdList);
HTHEME GetWindowTheme(HWND hwnd);
HRESULT EnableThemeDialogTexture(HWND hwnd, DWORD dwFlags);
BOOL IsThemeDialogTextureEnabled(HWND hwnd);

BOOL IsThemePartDefined(HTHEME hTheme, int iPartId, int iStateId);
BOOL IsThemeBackgroundPartiallyTransparent(HTHEME hTheme, int iPartId, int iStateId);

HRESULT DrawThemeBackground(HTHEME hTheme, HDC hdc, int iPartId, int iStateId, LPCRECT pRect,
                            LPCRECT pClipRect);
HRESULT DrawThemeBackgroundEx(HTHEME hTheme, HDC hdc, int iPartId, int iStateId, LPCRECT pRect,
                              const DTBGOPTS* pOptions);
HRESULT DrawThemeParentBackground(HWND hwnd, HDC hdc, const RECT* prc);
HRESULT DrawThemeEdge(HTHEME hTheme, HDC hdc, int iPartId, int iStateId, LPCRECT pDestRect, UINT uEdge,
                      UINT uFlags, LPRECT pContentRect);
HRESULT DrawThemeIcon(HTHEME hTheme, HDC hdc, int iPartId, int iStateId, LPCRECT pRect, HIMAGELIST himl,
                      int iImageIndex);
HRESULT DrawThemeText(HTHEME hTheme, HDC hdc, int iPartId, int iStateId, LPCWSTR pszText, int cchText,
                      DWORD dwTextFlags, DWORD dwTextFlags2, LPCRECT pRect);
HRESULT DrawThemeTextEx(HTHEME hTheme, HDC hdc, int iPartId, int iStateId, LPCWSTR pszText, int cchText,
                        DWORD dwTextFlags, LPRECT pRect, const DTTOPTS* pOptions);

HRESULT GetThemeBackgroundContentRect(HTHEME hTheme, HDC hdc, int iPartId, int iStateId,
                                      LPCRECT pBoundingRect, LPRECT pContentRect);
HRESULT GetThemeBackgroundExtent(HTHEME hTheme, HDC hdc, int iPartId, int iStateId, LPCRECT pContentRect,
                                 LPRECT pExtentRect);
HRESULT GetThemeBackgroundRegion(HTHEME hTheme, HDC hdc, int iPartId, int iStateId, LPCRECT pRect,
                                 HRGN* pRegion);
HRESULT HitTestThemeBackground(HTHEME hTheme, HDC hdc, int iPartId, int iStateId, DWORD dwOptions,
                               LPCRECT pRect, HRGN hrgn, POINT ptTest, WORD* pwHitTestCode);
HRESULT GetThemePartSize(HTHEME hTheme, HDC hdc, int iPartId, int iStateId, LPCRECT prc, THEMESIZE eSize,
                         SIZE* psz);
HRESULT GetThemeTextExtent(HTHEME hTheme, HDC hdc, int iPartId, int iStateId, LPCWSTR pszText,
                           int cchCharCount, DWORD dwTextFlags, LPCRECT pBoundingRect, LPRECT pExtentRect);
HRESULT GetThemeTextMetrics(HTHEME hTheme, HDC hdc, int iPartId, int iStateId, TEXTMETRICW* ptm);

HRESULT GetThemeColor(HTHEME hTheme, int iPartId, int iStateId, int iPropId, COLORREF* pColor);
HRESULT GetThemeMargins(HTHEME hTheme, HDC hdc, int iPartId, int iStateId, int iPropId, LPCRECT prc,
                        MARGINS* pMargins);
HRESULT GetThemeInt(HTHEME hTheme, int iPartId, int iStateId, int iPropId, int* piVal);
HRESULT GetThemeIntList(HTHEME hTheme, int iPartId, int iStateId, int iPropId, INTLIST* pIntList);
HRESULT GetThemeMetric(HTHEME hTheme, HDC hdc, int iPartId, int iStateId, int iPropId, int* piVal);
HRESULT GetThemeBool(HTHEME hTheme, int iPartId, int iStateId, int iPropId, BOOL* pfVal);
HRESULT GetThemeEnumValue(HTHEME hTheme, int iPartId, int iStateId, int iPropId, int* piVal);
HRESULT GetThemePosition(HTHEME hTheme, int iPartId, int iStateId, int iPropId, POINT* pPoint);
HRESULT GetThemeRect(HTHEME hTheme, int iPartId, int iStateId, int iPropId, LPRECT pRect);
HRESULT GetThemeFont(HTHEME hTheme, HDC hdc, int iPartId, int iStateId, int iPropId, LOGFONTW* pFont);
HRESULT GetThemeString(HTHEME hTheme, int iPartId, int iStateId, int iPropId, LPWSTR pszBuff,
                       int cchMaxBuffChars);
HRESULT GetThemeFilename(HTHEME hTheme, int iPartId, int iStateId, int iPropId, LPWSTR pszThemeFileName,
                         int cchMaxBuffChars);
HRESULT GetThemePropertyOrigin(HTHEME hTheme, int iPartId, int iStateId, int iPropId,
                               PROPERTYORIGIN* pOrigin);

COLORREF GetThemeSysColor(HTHEME hTheme, int iColorId);
HBRUSH GetThemeSysColorBrush(HTHEME hTheme, int iColorId);
BOOL GetThemeSysBool(HTHEME hTheme, int iBoolId);
int GetThemeSysSize(HTHEME hTheme, int iSizeId);
HRESULT GetThemeSysFont(HTHEME hTheme, int iFontId, LOGFONTW* plf);
HRESULT GetThemeSysInt(HTHEME hTheme, int iIntId, int* piValue);
HRESULT GetThemeSysString(HTHEME hTheme, int iStringId, LPWSTR pszStringBuff, int cchMaxStringChars);

}  // namespace win
