// The theme engine: a plain look of our own drawn with the GDI layer.
//
// Every class the library opens is known; each part of a class has one entry
// in the table below (parts not listed take the class's default entry). An
// entry gives how the part is drawn (its look and glyph), its content margins
// (left, top, right, bottom), its true and minimum sizes, whether it is
// stretched over the rectangle or drawn at its true size, and whether it
// leaves pixels of its rectangle undrawn (partially transparent).
//
// Colours follow the visual state that the part's state number means:
//
//   state      face                border            text / glyph
//   normal     COLOR_BTNFACE       (172, 172, 172)   COLOR_BTNTEXT
//   hot        (229, 241, 251)     COLOR_HIGHLIGHT   COLOR_BTNTEXT
//   pressed    (204, 228, 247)     COLOR_HOTLIGHT    COLOR_BTNTEXT
//   checked    (204, 228, 247)     COLOR_HIGHLIGHT   COLOR_BTNTEXT
//   default    COLOR_BTNFACE       COLOR_HIGHLIGHT   COLOR_BTNTEXT
//   focused    COLOR_WINDOW        COLOR_HOTLIGHT    COLOR_WINDOWTEXT
//   read-only  COLOR_BTNFACE       (172, 172, 172)   COLOR_WINDOWTEXT
//   disabled   COLOR_BTNFACE       (204, 204, 204)   COLOR_GRAYTEXT
//
// Fields (edits, list boxes, progress and track bars) fill with COLOR_WINDOW
// unless disabled or read-only. GetThemeColor answers these colours for
// TMT_FILLCOLOR, TMT_BORDERCOLOR and TMT_TEXTCOLOR.
#include "platform/win/UxTheme.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "platform/win/Gdi.h"
#include "platform/win/GdiText.h"
#include "platform/win/ImageList.h"
#include "platform/win/Windows.h"

namespace win {

namespace {

// ---------------------------------------------------------------------------
// Classes

enum TClassId : int {
  ckButton,
  ckClock,
  ckComboBox,
  ckEdit,
  ckExplorerBar,
  ckHeader,
  ckListBox,
  ckListView,
  ckMenu,
  ckPage,
  ckProgress,
  ckRebar,
  ckScrollBar,
  ckSpin,
  ckStartPanel,
  ckStatus,
  ckTab,
  ckTaskBand,
  ckTaskBar,
  ckToolBar,
  ckToolTip,
  ckTrackBar,
  ckTrayNotify,
  ckTreeView,
  ckWindow,
  ckCount
};

const char16_t* const ClassNames[ckCount] = {
    u"BUTTON",     u"CLOCK",      u"COMBOBOX", u"EDIT",     u"EXPLORERBAR", u"HEADER",    u"LISTBOX",
    u"LISTVIEW",   u"MENU",       u"PAGE",     u"PROGRESS", u"REBAR",       u"SCROLLBAR", u"SPIN",
    u"STARTPANEL", u"STATUS",     u"TAB",      u"TASKBAND", u"TASKBAR",     u"TOOLBAR",   u"TOOLTIP",
    u"TRACKBAR",   u"TRAYNOTIFY", u"TREEVIEW", u"WINDOW"};

// ---------------------------------------------------------------------------
// Parts

enum TLook : uint8_t {
  lkFace,        // face fill, border, glyph
  lkToolButton,  // as lkFace, but the normal state has no border
  lkField,       // window fill (face when disabled or read-only) and border
  lkFill,        // the state's face colour, no border
  lkCheck,
  lkRadio,
  lkGroupBox,
  lkTrack,     // scroll-bar page area
  lkGripper,   // a column (or row) of grip dots
  lkSizeGrip,  // diagonal grip dots in the corner
  lkSepV,
  lkSepH,
  lkTreeGlyph,
  lkChevron,
  lkTabItem,
  lkPane,
  lkChunk,
  lkSelection,
  lkHeaderItem,
  lkCaption,
  lkTip,
  lkMenu,
  lkBranch,
  lkSortArrow,
};

enum TGlyph : uint8_t {
  glNone,
  glUp,
  glDown,
  glLeft,
  glRight,
  glClose,
  glMin,
  glMax,
  glRestore,
  glHelp,
  glByState
};

struct TPartSpec {
  TClassId Class;
  int Part;  // -1: the class's default
  TLook Look;
  TGlyph Glyph;
  RECT Margins;  // left, top, right, bottom
  SIZE True;     // 0 x 0: the margins' sum
  SIZE Min;
  bool Stretch;      // drawn over the whole rectangle; else at True size
  bool Transparent;  // leaves pixels of the rectangle undrawn
};

// The engine's parts, sizes and margins.
const TPartSpec Parts[] = {
    // class         part                   look          glyph     margins        true      min     stretch
    // transparent
    {ckButton, BP_PUSHBUTTON, lkFace, glNone, {2, 2, 2, 2}, {0, 0}, {0, 0}, true, false},
    {ckButton, BP_RADIOBUTTON, lkRadio, glNone, {0, 0, 0, 0}, {13, 13}, {13, 13}, false, true},
    {ckButton, BP_CHECKBOX, lkCheck, glNone, {0, 0, 0, 0}, {13, 13}, {13, 13}, false, true},
    {ckButton, BP_GROUPBOX, lkGroupBox, glNone, {2, 2, 2, 2}, {0, 0}, {0, 0}, true, true},
    {ckButton, -1, lkFace, glNone, {2, 2, 2, 2}, {0, 0}, {0, 0}, true, false},

    {ckComboBox, CP_DROPDOWNBUTTON, lkFace, glDown, {1, 1, 1, 1}, {17, 17}, {9, 9}, true, false},
    {ckComboBox, CP_DROPDOWNBUTTONRIGHT, lkFace, glDown, {1, 1, 1, 1}, {17, 17}, {9, 9}, true, false},
    {ckComboBox, CP_DROPDOWNBUTTONLEFT, lkFace, glDown, {1, 1, 1, 1}, {17, 17}, {9, 9}, true, false},
    {ckComboBox, CP_READONLY, lkFace, glNone, {1, 1, 1, 1}, {0, 0}, {0, 0}, true, false},
    {ckComboBox, -1, lkField, glNone, {1, 1, 1, 1}, {0, 0}, {0, 0}, true, false},

    {ckEdit, EP_BACKGROUND, lkField, glNone, {0, 0, 0, 0}, {0, 0}, {0, 0}, true, false},
    {ckEdit, -1, lkField, glNone, {1, 1, 1, 1}, {0, 0}, {0, 0}, true, false},

    {ckExplorerBar, EBP_HEADERCLOSE, lkFace, glClose, {1, 1, 1, 1}, {15, 15}, {15, 15}, false, true},
    {ckExplorerBar, EBP_HEADERPIN, lkFace, glNone, {1, 1, 1, 1}, {15, 15}, {15, 15}, false, true},
    {ckExplorerBar, EBP_NORMALGROUPCOLLAPSE, lkChevron, glUp, {0, 0, 0, 0}, {15, 15}, {15, 15}, false, true},
    {ckExplorerBar, EBP_NORMALGROUPEXPAND, lkChevron, glDown, {0, 0, 0, 0}, {15, 15}, {15, 15}, false, true},
    {ckExplorerBar, EBP_SPECIALGROUPCOLLAPSE, lkChevron, glUp, {0, 0, 0, 0}, {15, 15}, {15, 15}, false, true},
    {ckExplorerBar, EBP_SPECIALGROUPEXPAND, lkChevron, glDown, {0, 0, 0, 0}, {15, 15}, {15, 15}, false, true},
    {ckExplorerBar, -1, lkFill, glNone, {0, 0, 0, 0}, {0, 0}, {0, 0}, true, false},

    {ckHeader, HP_HEADERSORTARROW, lkSortArrow, glByState, {0, 0, 0, 0}, {9, 5}, {9, 5}, false, true},
    {ckHeader, -1, lkHeaderItem, glNone, {0, 0, 1, 1}, {0, 0}, {0, 0}, true, false},

    {ckListBox, LBCP_ITEM, lkSelection, glNone, {0, 0, 0, 0}, {0, 0}, {0, 0}, true, false},
    {ckListBox, -1, lkField, glNone, {1, 1, 1, 1}, {0, 0}, {0, 0}, true, false},
    {ckListView, LVP_LISTITEM, lkSelection, glNone, {0, 0, 0, 0}, {0, 0}, {0, 0}, true, false},
    {ckListView, -1, lkField, glNone, {1, 1, 1, 1}, {0, 0}, {0, 0}, true, false},

    {ckMenu, -1, lkMenu, glNone, {0, 0, 0, 0}, {0, 0}, {0, 0}, true, false},

    {ckProgress, PP_CHUNK, lkChunk, glNone, {0, 0, 0, 0}, {8, 14}, {1, 1}, true, false},
    {ckProgress, PP_CHUNKVERT, lkChunk, glNone, {0, 0, 0, 0}, {14, 8}, {1, 1}, true, false},
    {ckProgress, -1, lkField, glNone, {1, 1, 1, 1}, {0, 0}, {0, 0}, true, false},

    {ckRebar, RP_GRIPPER, lkGripper, glNone, {0, 0, 0, 0}, {6, 6}, {6, 6}, true, true},
    {ckRebar, RP_GRIPPERVERT, lkGripper, glNone, {0, 0, 0, 0}, {6, 6}, {6, 6}, true, true},
    {ckRebar, RP_CHEVRON, lkToolButton, glRight, {1, 1, 1, 1}, {12, 12}, {12, 12}, true, false},
    {ckRebar, RP_CHEVRONVERT, lkToolButton, glDown, {1, 1, 1, 1}, {12, 12}, {12, 12}, true, false},
    {ckRebar, -1, lkFill, glNone, {0, 0, 0, 0}, {0, 0}, {0, 0}, true, false},

    {ckScrollBar, SBP_ARROWBTN, lkFace, glByState, {1, 1, 1, 1}, {17, 17}, {5, 5}, true, false},
    {ckScrollBar, SBP_THUMBBTNHORZ, lkFace, glNone, {1, 1, 1, 1}, {17, 17}, {8, 8}, true, false},
    {ckScrollBar, SBP_THUMBBTNVERT, lkFace, glNone, {1, 1, 1, 1}, {17, 17}, {8, 8}, true, false},
    {ckScrollBar, SBP_LOWERTRACKHORZ, lkTrack, glNone, {0, 0, 0, 0}, {0, 0}, {0, 0}, true, false},
    {ckScrollBar, SBP_UPPERTRACKHORZ, lkTrack, glNone, {0, 0, 0, 0}, {0, 0}, {0, 0}, true, false},
    {ckScrollBar, SBP_LOWERTRACKVERT, lkTrack, glNone, {0, 0, 0, 0}, {0, 0}, {0, 0}, true, false},
    {ckScrollBar, SBP_UPPERTRACKVERT, lkTrack, glNone, {0, 0, 0, 0}, {0, 0}, {0, 0}, true, false},
    {ckScrollBar, SBP_GRIPPERHORZ, lkGripper, glNone, {0, 0, 0, 0}, {8, 8}, {8, 8}, false, true},
    {ckScrollBar, SBP_GRIPPERVERT, lkGripper, glNone, {0, 0, 0, 0}, {8, 8}, {8, 8}, false, true},
    {ckScrollBar, SBP_SIZEBOX, lkSizeGrip, glNone, {0, 0, 0, 0}, {13, 13}, {13, 13}, false, true},
    {ckScrollBar, -1, lkFace, glNone, {1, 1, 1, 1}, {0, 0}, {0, 0}, true, false},

    {ckSpin, SPNP_UP, lkFace, glUp, {1, 1, 1, 1}, {17, 10}, {7, 5}, true, false},
    {ckSpin, SPNP_DOWN, lkFace, glDown, {1, 1, 1, 1}, {17, 10}, {7, 5}, true, false},
    {ckSpin, SPNP_UPHORZ, lkFace, glRight, {1, 1, 1, 1}, {10, 17}, {5, 7}, true, false},
    {ckSpin, SPNP_DOWNHORZ, lkFace, glLeft, {1, 1, 1, 1}, {10, 17}, {5, 7}, true, false},
    {ckSpin, -1, lkFace, glNone, {1, 1, 1, 1}, {0, 0}, {0, 0}, true, false},

    {ckStatus, SP_PANE, lkSepV, glNone, {0, 0, 0, 0}, {2, 2}, {2, 2}, true, true},
    {ckStatus, SP_GRIPPER, lkSizeGrip, glNone, {0, 0, 0, 0}, {13, 13}, {13, 13}, false, true},
    {ckStatus, -1, lkFill, glNone, {0, 0, 0, 0}, {0, 0}, {0, 0}, true, false},

    {ckTab, TABP_PANE, lkPane, glNone, {1, 1, 1, 1}, {0, 0}, {0, 0}, true, false},
    {ckTab, TABP_BODY, lkFill, glNone, {0, 0, 0, 0}, {0, 0}, {0, 0}, true, false},
    {ckTab, -1, lkTabItem, glNone, {2, 2, 2, 2}, {0, 0}, {0, 0}, true, false},

    {ckToolBar, 0, lkFill, glNone, {0, 0, 0, 0}, {0, 0}, {0, 0}, true, false},
    {ckToolBar, TP_DROPDOWNBUTTON, lkToolButton, glDown, {2, 2, 2, 2}, {0, 0}, {0, 0}, true, false},
    {ckToolBar, TP_SPLITBUTTONDROPDOWN, lkToolButton, glDown, {1, 2, 1, 2}, {11, 11}, {7, 7}, true, false},
    {ckToolBar, TP_SEPARATOR, lkSepV, glNone, {0, 0, 0, 0}, {6, 6}, {6, 6}, true, true},
    {ckToolBar, TP_SEPARATORVERT, lkSepH, glNone, {0, 0, 0, 0}, {6, 6}, {6, 6}, true, true},
    {ckToolBar, -1, lkToolButton, glNone, {2, 2, 2, 2}, {0, 0}, {0, 0}, true, false},

    {ckToolTip, TTP_CLOSE, lkFace, glClose, {1, 1, 1, 1}, {10, 10}, {10, 10}, false, true},
    {ckToolTip, -1, lkTip, glNone, {1, 1, 1, 1}, {0, 0}, {0, 0}, true, false},

    {ckTrackBar, TKP_TRACK, lkField, glNone, {1, 1, 1, 1}, {4, 4}, {4, 4}, true, false},
    {ckTrackBar, TKP_TRACKVERT, lkField, glNone, {1, 1, 1, 1}, {4, 4}, {4, 4}, true, false},
    {ckTrackBar, TKP_TICS, lkSepV, glNone, {0, 0, 0, 0}, {1, 4}, {1, 4}, true, true},
    {ckTrackBar, TKP_TICSVERT, lkSepH, glNone, {0, 0, 0, 0}, {4, 1}, {4, 1}, true, true},
    {ckTrackBar, -1, lkFace, glNone, {1, 1, 1, 1}, {11, 19}, {11, 19}, true, false},

    {ckTreeView, TVP_TREEITEM, lkSelection, glNone, {0, 0, 0, 0}, {0, 0}, {0, 0}, true, false},
    {ckTreeView, TVP_GLYPH, lkTreeGlyph, glNone, {0, 0, 0, 0}, {9, 9}, {9, 9}, false, true},
    {ckTreeView, TVP_BRANCH, lkBranch, glNone, {0, 0, 0, 0}, {1, 1}, {1, 1}, true, true},
    {ckTreeView, -1, lkField, glNone, {0, 0, 0, 0}, {0, 0}, {0, 0}, true, false},

    {ckWindow, WP_SYSBUTTON, lkFace, glNone, {1, 1, 1, 1}, {16, 16}, {16, 16}, true, false},
    {ckWindow, WP_MDISYSBUTTON, lkFace, glNone, {1, 1, 1, 1}, {16, 14}, {16, 14}, true, false},
    {ckWindow, WP_MINBUTTON, lkFace, glMin, {1, 1, 1, 1}, {21, 21}, {21, 21}, true, false},
    {ckWindow, WP_MDIMINBUTTON, lkFace, glMin, {1, 1, 1, 1}, {16, 14}, {16, 14}, true, false},
    {ckWindow, WP_MAXBUTTON, lkFace, glMax, {1, 1, 1, 1}, {21, 21}, {21, 21}, true, false},
    {ckWindow, WP_CLOSEBUTTON, lkFace, glClose, {1, 1, 1, 1}, {21, 21}, {21, 21}, true, false},
    {ckWindow, WP_SMALLCLOSEBUTTON, lkFace, glClose, {1, 1, 1, 1}, {13, 13}, {13, 13}, true, false},
    {ckWindow, WP_MDICLOSEBUTTON, lkFace, glClose, {1, 1, 1, 1}, {16, 14}, {16, 14}, true, false},
    {ckWindow, WP_RESTOREBUTTON, lkFace, glRestore, {1, 1, 1, 1}, {21, 21}, {21, 21}, true, false},
    {ckWindow, WP_MDIRESTOREBUTTON, lkFace, glRestore, {1, 1, 1, 1}, {16, 14}, {16, 14}, true, false},
    {ckWindow, WP_HELPBUTTON, lkFace, glHelp, {1, 1, 1, 1}, {21, 21}, {21, 21}, true, false},
    {ckWindow, WP_MDIHELPBUTTON, lkFace, glHelp, {1, 1, 1, 1}, {16, 14}, {16, 14}, true, false},
    {ckWindow, WP_HORZSCROLL, lkTrack, glNone, {0, 0, 0, 0}, {0, 0}, {0, 0}, true, false},
    {ckWindow, WP_VERTSCROLL, lkTrack, glNone, {0, 0, 0, 0}, {0, 0}, {0, 0}, true, false},
    {ckWindow, WP_HORZTHUMB, lkFace, glNone, {1, 1, 1, 1}, {17, 17}, {8, 8}, true, false},
    {ckWindow, WP_VERTTHUMB, lkFace, glNone, {1, 1, 1, 1}, {17, 17}, {8, 8}, true, false},
    {ckWindow, WP_DIALOG, lkFill, glNone, {0, 0, 0, 0}, {0, 0}, {0, 0}, true, false},
    {ckWindow, -1, lkCaption, glNone, {0, 0, 0, 0}, {0, 0}, {0, 0}, true, false},
};

// The frames of the window class are plain border fills, not captions.
bool IsWindowFrame(int part) { return part >= WP_FRAMELEFT && part <= WP_SMALLFRAMEBOTTOM; }

const TPartSpec& FindSpec(TClassId cls, int part) {
  static const TPartSpec fallback{ckButton, -1, lkFill, glNone, {0, 0, 0, 0}, {0, 0}, {0, 0}, true, false};
  const TPartSpec* def = nullptr;
  for (const TPartSpec& s : Parts) {
    if (s.Class != cls) continue;
    if (s.Part == part) return s;
    if (s.Part == -1) def = &s;
  }
  return def ? *def : fallback;
}

// ---------------------------------------------------------------------------
// States

enum TVisual : uint8_t {
  vsNormal,
  vsHot,
  vsPressed,
  vsDisabled,
  vsDefault,
  vsChecked,
  vsFocused,
  vsReadOnly
};

struct TState {
  TVisual Visual = vsNormal;
  int Check = 0;          // check boxes and radio buttons: 0 unchecked, 1 checked, 2 mixed
  TGlyph Arrow = glNone;  // scroll-bar arrows and sort arrows by state
};

TVisual Basic4(int s) {  // 1 normal, 2 hot, 3 pressed, 4 disabled
  switch (s) {
    case 2:
      return vsHot;
    case 3:
      return vsPressed;
    case 4:
      return vsDisabled;
    default:
      return vsNormal;
  }
}

TState StateOf(TClassId cls, int part, int s) {
  TState r;
  switch (cls) {
    case ckButton:
      if (part == BP_CHECKBOX || part == BP_RADIOBUTTON) {
        int i = s < 1 ? 0 : (s - 1) % (part == BP_CHECKBOX ? 20 : 8);
        r.Check = std::min(i / 4, part == BP_CHECKBOX ? 2 : 1);
        r.Visual = Basic4(i % 4 + 1);
        return r;
      }
      if (part == BP_GROUPBOX) {
        r.Visual = s == GBS_DISABLED ? vsDisabled : vsNormal;
        return r;
      }
      r.Visual = s == PBS_DEFAULTED || s == PBS_DEFAULTED_ANIMATING ? vsDefault : Basic4(s);
      return r;
    case ckEdit:
      switch (part) {
        case EP_EDITTEXT:
        case EP_PASSWORD:
          r.Visual = s == ETS_HOT        ? vsHot
                     : s == ETS_DISABLED ? vsDisabled
                     : s == ETS_FOCUSED  ? vsFocused
                     : s == ETS_READONLY ? vsReadOnly
                                         : vsNormal;
          return r;
        case EP_BACKGROUND:
          r.Visual = s == EBS_HOT        ? vsHot
                     : s == EBS_DISABLED ? vsDisabled
                     : s == EBS_FOCUSED  ? vsFocused
                     : s == EBS_READONLY ? vsReadOnly
                                         : vsNormal;
          return r;
        case EP_BACKGROUNDWITHBORDER:
          r.Visual = s == 2 ? vsHot : s == 3 ? vsDisabled : s == 4 ? vsFocused : vsNormal;
          return r;
        default:  // the borders
          r.Visual = s == EPSN_HOT        ? vsHot
                     : s == EPSN_FOCUSED  ? vsFocused
                     : s == EPSN_DISABLED ? vsDisabled
                                          : vsNormal;
          return r;
      }
    case ckScrollBar:
      if (part == SBP_ARROWBTN) {
        int i = s >= 17 && s <= 20 ? (s - 17) * 4 + 1 : std::clamp(s, 1, 16);
        r.Arrow = TGlyph(glUp + (i - 1) / 4);
        r.Visual = s >= 17 && s <= 20 ? vsHot : Basic4((i - 1) % 4 + 1);
        return r;
      }
      r.Visual = Basic4(s);
      return r;
    case ckHeader:
      if (part == HP_HEADERSORTARROW) {
        r.Arrow = s == 2 ? glDown : glUp;
        return r;
      }
      r.Visual = s >= 1 ? Basic4((s - 1) % 3 + 1) : vsNormal;
      return r;
    case ckTab:
      r.Visual = s == TIS_HOT        ? vsHot
                 : s == TIS_SELECTED ? vsChecked
                 : s == TIS_DISABLED ? vsDisabled
                                     : vsNormal;
      return r;
    case ckToolBar:
      r.Visual = s == TS_CHECKED || s == TS_HOTCHECKED ? vsChecked : Basic4(s);
      return r;
    case ckListBox:
    case ckListView:
    case ckTreeView:
      // items: 1 normal, 2 hot, 3 selected, 4 disabled or selected (list box), 5 selected without focus
      if ((cls == ckListBox && part == LBCP_ITEM) || (cls != ckListBox && part == 1)) {
        r.Visual = s == 2                        ? vsHot
                   : s == 3 || s == 5 || s == 6  ? vsChecked
                   : s == 4 && cls != ckTreeView ? vsChecked
                   : s == 4                      ? vsDisabled
                                                 : vsNormal;
        return r;
      }
      r.Visual = s == 2 ? vsHot : s == 3 ? vsFocused : s == 4 ? vsDisabled : vsNormal;
      return r;
    case ckWindow:
      if (part <= WP_SMALLMAXCAPTION || IsWindowFrame(part)) {
        r.Visual = s == 2 ? vsDisabled : vsNormal;  // 1 active, 2 inactive
        return r;
      }
      r.Visual = Basic4(s);
      return r;
    default:
      r.Visual = Basic4(s);
      return r;
  }
}

// ---------------------------------------------------------------------------
// Colours

COLORREF Sys(int i) { return GetSysColor(i); }
constexpr COLORREF BorderNormal = RGB(172, 172, 172);
constexpr COLORREF BorderDisabled = RGB(204, 204, 204);
constexpr COLORREF FaceHot = RGB(229, 241, 251);
constexpr COLORREF FacePressed = RGB(204, 228, 247);

COLORREF FaceColor(TVisual v) {
  switch (v) {
    case vsHot:
      return FaceHot;
    case vsPressed:
    case vsChecked:
      return FacePressed;
    case vsFocused:
      return Sys(COLOR_WINDOW);
    default:
      return Sys(COLOR_BTNFACE);
  }
}
COLORREF BorderColor(TVisual v) {
  switch (v) {
    case vsHot:
    case vsDefault:
    case vsChecked:
      return Sys(COLOR_HIGHLIGHT);
    case vsPressed:
    case vsFocused:
      return Sys(COLOR_HOTLIGHT);
    case vsDisabled:
      return BorderDisabled;
    default:
      return BorderNormal;
  }
}
COLORREF TextColor(TVisual v, bool field) {
  if (v == vsDisabled) return Sys(COLOR_GRAYTEXT);
  return field ? Sys(COLOR_WINDOWTEXT) : Sys(COLOR_BTNTEXT);
}
COLORREF FieldColor(TVisual v) {
  return v == vsDisabled || v == vsReadOnly ? Sys(COLOR_BTNFACE) : Sys(COLOR_WINDOW);
}

bool IsFieldLook(TLook l) { return l == lkField || l == lkSelection; }

// The fill colour a part shows in a state (TMT_FILLCOLOR).
COLORREF FillOf(TClassId cls, const TPartSpec& sp, const TState& st, int part) {
  switch (sp.Look) {
    case lkField:
    case lkTreeGlyph:
      return FieldColor(st.Visual);
    case lkSelection:
      return st.Visual == vsChecked ? Sys(COLOR_HIGHLIGHT) : st.Visual == vsHot ? FaceHot : Sys(COLOR_WINDOW);
    case lkChunk:
      return Sys(COLOR_HIGHLIGHT);
    case lkTrack:
      return st.Visual == vsPressed ? Sys(COLOR_BTNSHADOW) : RGB(232, 232, 232);
    case lkCheck:
    case lkRadio:
      return st.Visual == vsDisabled  ? Sys(COLOR_BTNFACE)
             : st.Visual == vsHot     ? FaceHot
             : st.Visual == vsPressed ? FacePressed
                                      : Sys(COLOR_WINDOW);
    case lkCaption:
      if (cls == ckWindow && IsWindowFrame(part))
        return Sys(st.Visual == vsDisabled ? COLOR_INACTIVEBORDER : COLOR_ACTIVEBORDER);
      return Sys(st.Visual == vsDisabled ? COLOR_INACTIVECAPTION : COLOR_ACTIVECAPTION);
    case lkTip:
      return Sys(COLOR_INFOBK);
    case lkMenu:
      return Sys(COLOR_MENU);
    case lkHeaderItem:
      return st.Visual == vsNormal ? Sys(COLOR_WINDOW) : FaceColor(st.Visual);
    case lkTabItem:
      return st.Visual == vsChecked ? Sys(COLOR_WINDOW) : FaceColor(st.Visual);
    case lkPane:
      return Sys(COLOR_WINDOW);
    default:
      return FaceColor(st.Visual);
  }
}
COLORREF BorderOf(const TPartSpec& sp, const TState& st) {
  if (sp.Look == lkTip) return Sys(COLOR_INFOTEXT);
  return BorderColor(st.Visual);
}
COLORREF TextOf(TClassId cls, const TPartSpec& sp, const TState& st) {
  if (sp.Look == lkTip) return Sys(COLOR_INFOTEXT);
  if (sp.Look == lkMenu) return st.Visual == vsDisabled ? Sys(COLOR_GRAYTEXT) : Sys(COLOR_MENUTEXT);
  if (sp.Look == lkCaption)
    return Sys(st.Visual == vsDisabled ? COLOR_INACTIVECAPTIONTEXT : COLOR_CAPTIONTEXT);
  if (sp.Look == lkSelection && st.Visual == vsChecked) return Sys(COLOR_HIGHLIGHTTEXT);
  return TextColor(st.Visual, IsFieldLook(sp.Look) || cls == ckEdit);
}

// ---------------------------------------------------------------------------
// Handles and settings

constexpr uint32_t ThemeMagic = 0x54484D45;  // "THME"

struct TTheme {
  uint32_t Magic = ThemeMagic;
  uintptr_t Id = 0;  // the handle's value
  TClassId Class = ckButton;
  HWND Window = nullptr;
};

struct TEngine {
  std::mutex Lock;
  // Handles count up and are never reused: a closed handle stays unknown.
  std::unordered_map<uintptr_t, std::unique_ptr<TTheme>> Live;
  uintptr_t NextId = 0x10000;
  std::unordered_map<HWND, TTheme*> WindowThemes;
  std::unordered_map<HWND, std::u16string> WindowClassLists;  // SetWindowTheme's id lists
  bool Active = true;
  std::u16string ThemeFileName = u"C:\\Windows\\Resources\\Themes\\Plain\\Plain.msstyles";
  std::u16string ThemeColorName = u"Plain";
  DWORD AppProperties = STAP_ALLOW_NONCLIENT | STAP_ALLOW_CONTROLS | STAP_ALLOW_WEBCONTENT;
  TEngine() {
    const char* v = std::getenv("CL_THEMES");
    if (v && (std::strcmp(v, "off") == 0 || std::strcmp(v, "0") == 0 || std::strcmp(v, "OFF") == 0))
      Active = false;
  }
};

TEngine& Engine() {
  static TEngine e;
  return e;
}

// The theme behind a live handle, or nil.
const TTheme* Lookup(HTHEME h) {
  if (!h) return nullptr;
  TEngine& e = Engine();
  std::lock_guard<std::mutex> l(e.Lock);
  auto it = e.Live.find(reinterpret_cast<uintptr_t>(h));
  return it == e.Live.end() ? nullptr : it->second.get();
}

std::u16string Upper(std::u16string s) {
  for (char16_t& c : s)
    if (c >= u'a' && c <= u'z') c = char16_t(c - u'a' + u'A');
  return s;
}

std::u16string Trimmed(const std::u16string& s) {
  size_t b = s.find_first_not_of(u' '), e = s.find_last_not_of(u' ');
  return b == std::u16string::npos ? std::u16string() : s.substr(b, e - b + 1);
}

// The first known class of a ";"-separated list ("Explorer::TreeView" is the
// tree view); -1 when none.
int ClassOfList(const std::u16string& list) {
  size_t pos = 0;
  while (pos <= list.size()) {
    size_t end = list.find(u';', pos);
    if (end == std::u16string::npos) end = list.size();
    std::u16string name = Upper(Trimmed(list.substr(pos, end - pos)));
    size_t sub = name.rfind(u"::");
    if (sub != std::u16string::npos) name = name.substr(sub + 2);
    for (int i = 0; i < ckCount; ++i)
      if (name == ClassNames[i]) return i;
    pos = end + 1;
  }
  return -1;
}

BOOL NotifyChild(HWND h, LPARAM) {
  SendMessageW(h, WM_THEMECHANGED, 0, 0);
  return TRUE;
}
BOOL NotifyTopLevel(HWND h, LPARAM) {
  SendMessageW(h, WM_THEMECHANGED, 0, 0);
  EnumChildWindows(h, &NotifyChild, 0);
  return TRUE;
}

// WM_THEMECHANGED to every window, top-level windows first.
void BroadcastThemeChanged() { EnumWindows(&NotifyTopLevel, 0); }

// ---------------------------------------------------------------------------
// Drawing helpers

void Fill(HDC dc, const RECT& r, COLORREF c) {
  if (r.left >= r.right || r.top >= r.bottom) return;
  HBRUSH b = CreateSolidBrush(c);
  FillRect(dc, &r, b);
  DeleteObject(b);
}
void Frame(HDC dc, const RECT& r, COLORREF c) {
  if (r.left >= r.right || r.top >= r.bottom) return;
  HBRUSH b = CreateSolidBrush(c);
  FrameRect(dc, &r, b);
  DeleteObject(b);
}
void Pixel(HDC dc, int x, int y, COLORREF c) { SetPixelV(dc, x, y, c); }
void HLine(HDC dc, int x0, int x1, int y, COLORREF c) { Fill(dc, RECT{x0, y, x1, y + 1}, c); }
void VLine(HDC dc, int x, int y0, int y1, COLORREF c) { Fill(dc, RECT{x, y0, x + 1, y1}, c); }

RECT Centered(const RECT& r, SIZE s) {
  int x = r.left + (r.right - r.left - s.cx) / 2, y = r.top + (r.bottom - r.top - s.cy) / 2;
  return RECT{x, y, x + s.cx, y + s.cy};
}

// A filled triangle pointing in the direction, centred in r, drawn by rows
// so that it stays inside r.
void Arrow(HDC dc, const RECT& r, TGlyph dir, COLORREF c) {
  int w = r.right - r.left, h = r.bottom - r.top;
  bool vertical = dir == glUp || dir == glDown;
  int along = vertical ? h : w, across = vertical ? w : h;
  int n = std::max(1, std::min(across / 4, along / 2));  // rows of the triangle
  n = std::min(n, std::max(1, std::min(along, (across + 1) / 2)));
  if (along < 1 || across < 1) return;
  int cx = r.left + w / 2, cy = r.top + h / 2;
  for (int i = 0; i < n; ++i) {
    int half = i;  // row i spans 2i + 1 pixels
    switch (dir) {
      case glUp:
        HLine(dc, cx - half, cx + half + 1, cy - n / 2 + i, c);
        break;
      case glDown:
        HLine(dc, cx - half, cx + half + 1, cy + (n - 1) / 2 - i, c);
        break;
      case glLeft:
        VLine(dc, cx - n / 2 + i, cy - half, cy + half + 1, c);
        break;
      case glRight:
        VLine(dc, cx + (n - 1) / 2 - i, cy - half, cy + half + 1, c);
        break;
      default:
        break;
    }
  }
}

void Glyph(HDC dc, const RECT& r, TGlyph g, COLORREF c) {
  int w = r.right - r.left, h = r.bottom - r.top;
  if (w < 3 || h < 3) return;
  int s = std::max(3, std::min(w, h) / 2);
  RECT box = Centered(r, SIZE{s, s});
  switch (g) {
    case glUp:
    case glDown:
    case glLeft:
    case glRight:
      Arrow(dc, r, g, c);
      break;
    case glClose:
      for (int i = 0; i < s; ++i) {
        Pixel(dc, box.left + i, box.top + i, c);
        Pixel(dc, box.right - 1 - i, box.top + i, c);
      }
      break;
    case glMin:
      HLine(dc, box.left, box.right, box.bottom - 1, c);
      HLine(dc, box.left, box.right, box.bottom - 2, c);
      break;
    case glMax:
      Frame(dc, box, c);
      HLine(dc, box.left, box.right, box.top + 1, c);
      break;
    case glRestore: {
      int d = std::max(1, s / 4);
      Frame(dc, RECT{box.left + d, box.top, box.right, box.bottom - d}, c);
      Fill(dc, RECT{box.left, box.top + d, box.right - d, box.bottom}, FaceHot);
      Frame(dc, RECT{box.left, box.top + d, box.right - d, box.bottom}, c);
      break;
    }
    case glHelp:
      Frame(dc, box, c);
      break;
    default:
      break;
  }
}

// The 7 x 7 check mark, rows from the top, bit 6 = left pixel.
const BYTE CheckRows[7] = {0x01, 0x03, 0x47, 0x6E, 0x7C, 0x38, 0x10};

void DrawCheckBox(HDC dc, const RECT& box, const TState& st, COLORREF fill) {
  Fill(dc, box, fill);
  Frame(dc, box,
        st.Visual == vsDisabled ? BorderDisabled
        : st.Visual == vsNormal ? Sys(COLOR_BTNSHADOW)
                                : BorderColor(st.Visual));
  COLORREF mark = st.Visual == vsDisabled ? Sys(COLOR_GRAYTEXT) : Sys(COLOR_WINDOWTEXT);
  int w = box.right - box.left, h = box.bottom - box.top;
  if (st.Check == 1) {
    int x0 = box.left + (w - 7) / 2, y0 = box.top + (h - 7) / 2;
    for (int y = 0; y < 7; ++y)
      for (int x = 0; x < 7; ++x)
        if (CheckRows[y] & (0x40 >> x)) Pixel(dc, x0 + x, y0 + y, mark);
  } else if (st.Check == 2) {
    Fill(dc, RECT{box.left + 3, box.top + 3, box.right - 3, box.bottom - 3}, mark);
  }
}

void DrawRadio(HDC dc, const RECT& box, const TState& st, COLORREF fill) {
  COLORREF border = st.Visual == vsNormal ? Sys(COLOR_BTNSHADOW) : BorderColor(st.Visual);
  HPEN pen = CreatePen(PS_SOLID, 1, border);
  HBRUSH brush = CreateSolidBrush(fill);
  HGDIOBJ op = SelectObject(dc, pen), ob = SelectObject(dc, brush);
  Ellipse(dc, box.left, box.top, box.right, box.bottom);
  if (st.Check) {
    COLORREF dot = st.Visual == vsDisabled ? Sys(COLOR_GRAYTEXT) : Sys(COLOR_WINDOWTEXT);
    HPEN pd = CreatePen(PS_SOLID, 1, dot);
    HBRUSH bd = CreateSolidBrush(dot);
    SelectObject(dc, pd);
    SelectObject(dc, bd);
    int w = box.right - box.left, h = box.bottom - box.top;
    int d = std::max(2, std::min(w, h) * 5 / 13);
    RECT c = Centered(box, SIZE{d, d});
    Ellipse(dc, c.left, c.top, c.right, c.bottom);
    SelectObject(dc, pen);
    SelectObject(dc, brush);
    DeleteObject(pd);
    DeleteObject(bd);
  }
  SelectObject(dc, op);
  SelectObject(dc, ob);
  DeleteObject(pen);
  DeleteObject(brush);
}

void GripDots(HDC dc, const RECT& r, bool vertical) {
  // 2 x 2 dots every 4 pixels along the strip, centred across it
  COLORREF dark = Sys(COLOR_BTNSHADOW), light = Sys(COLOR_BTNHIGHLIGHT);
  int w = r.right - r.left, h = r.bottom - r.top;
  if (vertical) {
    int x = r.left + (w - 3) / 2;
    for (int y = r.top + 1; y + 3 <= r.bottom; y += 4) {
      Fill(dc, RECT{x + 1, y + 1, x + 3, y + 3}, light);
      Fill(dc, RECT{x, y, x + 2, y + 2}, dark);
    }
  } else {
    int y = r.top + (h - 3) / 2;
    for (int x = r.left + 1; x + 3 <= r.right; x += 4) {
      Fill(dc, RECT{x + 1, y + 1, x + 3, y + 3}, light);
      Fill(dc, RECT{x, y, x + 2, y + 2}, dark);
    }
  }
}

void SizeGripDots(HDC dc, const RECT& r, bool leftAligned) {
  // dots on the three diagonals nearest the corner
  COLORREF dark = Sys(COLOR_BTNSHADOW), light = Sys(COLOR_BTNHIGHLIGHT);
  int w = r.right - r.left, h = r.bottom - r.top;
  for (int row = 0; row < 3; ++row) {
    for (int k = 0; k <= row; ++k) {
      int dx = (row - k) * 4 + 3, dy = k * 4 + 3;
      if (dx > w || dy > h) continue;
      int x = leftAligned ? r.left + dx - 3 : r.right - dx;
      int y = r.bottom - dy;
      Fill(dc, RECT{x + 1, y + 1, x + 3, y + 3}, light);
      Fill(dc, RECT{x, y, x + 2, y + 2}, dark);
    }
  }
}

// Draws the part into r (already placed), with the DC's state saved around.
void DrawPart(HDC dc, TClassId cls, int part, int stateId, const RECT& r) {
  const TPartSpec& sp = FindSpec(cls, part);
  TState st = StateOf(cls, part, stateId);
  COLORREF fill = FillOf(cls, sp, st, part), border = BorderOf(sp, st), text = TextOf(cls, sp, st);
  int w = r.right - r.left, h = r.bottom - r.top;
  TGlyph glyph = sp.Glyph == glByState ? st.Arrow : sp.Glyph;
  RECT inner{r.left + 1, r.top + 1, r.right - 1, r.bottom - 1};
  switch (sp.Look) {
    case lkFace:
      Fill(dc, r, fill);
      Frame(dc, r, border);
      Glyph(dc, inner, glyph, text);
      break;
    case lkToolButton:
      Fill(dc, r, fill);
      if (st.Visual != vsNormal) Frame(dc, r, border);
      Glyph(dc, inner, glyph, text);
      break;
    case lkField:
    case lkTip:
    case lkPane:
      Fill(dc, r, fill);
      if (sp.Margins.left > 0) Frame(dc, r, border);
      break;
    case lkFill:
    case lkMenu:
    case lkChunk:
    case lkTrack:
    case lkSelection:
    case lkCaption:
      Fill(dc, r, fill);
      break;
    case lkCheck:
      DrawCheckBox(dc, r, st, fill);
      break;
    case lkRadio:
      DrawRadio(dc, r, st, fill);
      break;
    case lkGroupBox:
      Frame(dc, r, st.Visual == vsDisabled ? BorderDisabled : Sys(COLOR_BTNSHADOW));
      break;
    case lkGripper:
      // rebar part 1 and scroll-bar part 9 are vertical strips, the others horizontal
      GripDots(dc, r,
               (cls == ckRebar && part == RP_GRIPPER) || (cls == ckScrollBar && part == SBP_GRIPPERVERT));
      break;
    case lkSizeGrip:
      SizeGripDots(dc, r, cls == ckScrollBar && stateId == SZB_LEFTALIGN);
      break;
    case lkSepV: {
      int x = r.left + (w - 2) / 2;
      if (w < 2) x = r.left;
      VLine(dc, x, r.top, r.bottom, Sys(COLOR_BTNSHADOW));
      if (x + 1 < r.right) VLine(dc, x + 1, r.top, r.bottom, Sys(COLOR_BTNHIGHLIGHT));
      break;
    }
    case lkSepH: {
      int y = r.top + (h - 2) / 2;
      if (h < 2) y = r.top;
      HLine(dc, r.left, r.right, y, Sys(COLOR_BTNSHADOW));
      if (y + 1 < r.bottom) HLine(dc, r.left, r.right, y + 1, Sys(COLOR_BTNHIGHLIGHT));
      break;
    }
    case lkTreeGlyph: {
      Fill(dc, r, Sys(COLOR_WINDOW));
      Frame(dc, r, Sys(COLOR_BTNSHADOW));
      int cy = r.top + h / 2, cx = r.left + w / 2;
      HLine(dc, r.left + 2, r.right - 2, cy, Sys(COLOR_WINDOWTEXT));
      if (stateId != GLPS_OPENED) VLine(dc, cx, r.top + 2, r.bottom - 2, Sys(COLOR_WINDOWTEXT));
      break;
    }
    case lkChevron: {
      Fill(dc, r, fill);
      Frame(dc, r, st.Visual == vsNormal ? Sys(COLOR_BTNSHADOW) : border);
      RECT a{r.left + 2, r.top + 2, r.right - 2, r.top + 2 + (h - 4) / 2};
      RECT b{r.left + 2, a.bottom, r.right - 2, r.bottom - 2};
      Arrow(dc, a, glyph, text);
      Arrow(dc, b, glyph, text);
      break;
    }
    case lkTabItem:
      Fill(dc, r, fill);
      HLine(dc, r.left, r.right, r.top, border);
      VLine(dc, r.left, r.top, r.bottom, border);
      VLine(dc, r.right - 1, r.top, r.bottom, border);
      if (st.Visual != vsChecked) HLine(dc, r.left, r.right, r.bottom - 1, border);
      break;
    case lkHeaderItem:
      Fill(dc, r, fill);
      VLine(dc, r.right - 1, r.top, r.bottom, BorderNormal);
      HLine(dc, r.left, r.right, r.bottom - 1, BorderNormal);
      break;
    case lkBranch: {
      int x = r.left + w / 2;
      for (int y = r.top; y < r.bottom; y += 2) Pixel(dc, x, y, Sys(COLOR_BTNSHADOW));
      break;
    }
    case lkSortArrow:
      Arrow(dc, r, glyph == glNone ? glUp : glyph, Sys(COLOR_BTNSHADOW));
      break;
  }
}

// Where a part is drawn inside the rectangle the caller gives.
RECT Placement(TClassId cls, int part, int stateId, const RECT& r) {
  const TPartSpec& sp = FindSpec(cls, part);
  if (sp.Stretch) return r;
  SIZE s = sp.True;
  if (sp.Look == lkSizeGrip) {  // anchored in its corner
    int w = std::min<int>(s.cx, r.right - r.left), h = std::min<int>(s.cy, r.bottom - r.top);
    bool left = cls == ckScrollBar && stateId == SZB_LEFTALIGN;
    return left ? RECT{r.left, r.bottom - h, r.left + w, r.bottom}
                : RECT{r.right - w, r.bottom - h, r.right, r.bottom};
  }
  return Centered(r, s);
}

HRESULT CopyText(const char16_t* text, LPWSTR buf, int cch) {
  if (!buf || cch <= 0) return E_INVALIDARG;
  size_t n = std::char_traits<char16_t>::length(text);
  if (n + 1 > size_t(cch)) {
    buf[0] = 0;
    return static_cast<HRESULT>(0x8007007Au);  // HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER)
  }
  std::memcpy(buf, text, (n + 1) * sizeof(char16_t));
  return S_OK;
}

}  // namespace

// ---------------------------------------------------------------------------
// Setting

void SetThemesActive(bool Active) {
  TEngine& e = Engine();
  {
    std::lock_guard<std::mutex> l(e.Lock);
    if (e.Active == Active) return;
    e.Active = Active;
  }
  BroadcastThemeChanged();
}

void SetCurrentThemeName(const char16_t* FileName, const char16_t* ColorName) {
  TEngine& e = Engine();
  std::lock_guard<std::mutex> l(e.Lock);
  e.ThemeFileName = FileName ? FileName : u"C:\\Windows\\Resources\\Themes\\Plain\\Plain.msstyles";
  e.ThemeColorName = ColorName ? ColorName : u"Plain";
}

bool ThemesActive() {
  TEngine& e = Engine();
  std::lock_guard<std::mutex> l(e.Lock);
  return e.Active;
}

HRESULT EnableTheming(BOOL fEnable) {
  SetThemesActive(fEnable != FALSE);
  return S_OK;
}

BOOL IsThemeActive() { return ThemesActive() ? TRUE : FALSE; }

BOOL IsAppThemed() {
  TEngine& e = Engine();
  std::lock_guard<std::mutex> l(e.Lock);
  return e.Active && (e.AppProperties & STAP_ALLOW_CONTROLS) ? TRUE : FALSE;
}

DWORD GetThemeAppProperties() {
  TEngine& e = Engine();
  std::lock_guard<std::mutex> l(e.Lock);
  return e.AppProperties;
}

void SetThemeAppProperties(DWORD dwFlags) {
  TEngine& e = Engine();
  std::lock_guard<std::mutex> l(e.Lock);
  e.AppProperties = dwFlags & (STAP_ALLOW_NONCLIENT | STAP_ALLOW_CONTROLS | STAP_ALLOW_WEBCONTENT);
}

// The theme's file, colour and size names: a theme of our own, whose colour
// name is none of the platform's default ones.
HRESULT GetCurrentThemeName(LPWSTR pszThemeFileName, int cchMaxNameChars, LPWSTR pszColorBuff,
                            int cchMaxColorChars, LPWSTR pszSizeBuff, int cchMaxSizeChars) {
  if (!IsThemeActive()) return E_PROP_ID_UNSUPPORTED;
  std::u16string fileName, colorName;
  {
    TEngine& e = Engine();
    std::lock_guard<std::mutex> l(e.Lock);
    fileName = e.ThemeFileName;
    colorName = e.ThemeColorName;
  }
  HRESULT hr = S_OK;
  if (pszThemeFileName) hr = CopyText(fileName.c_str(), pszThemeFileName, cchMaxNameChars);
  if (hr == S_OK && pszColorBuff) hr = CopyText(colorName.c_str(), pszColorBuff, cchMaxColorChars);
  if (hr == S_OK && pszSizeBuff) hr = CopyText(u"NormalSize", pszSizeBuff, cchMaxSizeChars);
  return hr;
}

HRESULT GetThemeDocumentationProperty(LPCWSTR, LPCWSTR, LPWSTR pszValueBuff, int cchMaxValChars) {
  if (pszValueBuff && cchMaxValChars > 0) pszValueBuff[0] = 0;
  return E_PROP_ID_UNSUPPORTED;
}

// ---------------------------------------------------------------------------
// Handles

HTHEME OpenThemeData(HWND hwnd, LPCWSTR pszClassList) {
  TEngine& e = Engine();
  if (!pszClassList) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  std::u16string list = pszClassList;
  std::lock_guard<std::mutex> l(e.Lock);
  if (!e.Active) {
    SetLastError(ERROR_NOT_SUPPORTED);
    return nullptr;
  }
  if (hwnd) {
    auto it = e.WindowClassLists.find(hwnd);
    if (it != e.WindowClassLists.end()) list = it->second + u";" + list;
    if (it != e.WindowClassLists.end() && Trimmed(it->second).empty() && !it->second.empty()) {
      // SetWindowTheme(hwnd, " ", " ") turns the window's themes off
      SetLastError(ERROR_NOT_SUPPORTED);
      return nullptr;
    }
  }
  int cls = ClassOfList(list);
  if (cls < 0) {
    SetLastError(ERROR_NOT_SUPPORTED);
    return nullptr;
  }
  auto owned = std::make_unique<TTheme>();
  TTheme* t = owned.get();
  t->Class = TClassId(cls);
  t->Window = hwnd;
  t->Id = e.NextId;
  e.NextId += 4;
  e.Live.emplace(t->Id, std::move(owned));
  if (hwnd) e.WindowThemes[hwnd] = t;
  return reinterpret_cast<HTHEME>(t->Id);
}

HTHEME OpenThemeDataEx(HWND hwnd, LPCWSTR pszClassList, DWORD) { return OpenThemeData(hwnd, pszClassList); }

HRESULT CloseThemeData(HTHEME hTheme) {
  TEngine& e = Engine();
  std::lock_guard<std::mutex> l(e.Lock);
  auto live = e.Live.find(reinterpret_cast<uintptr_t>(hTheme));
  if (!hTheme || live == e.Live.end()) return E_HANDLE;
  const TTheme* t = live->second.get();
  for (auto it = e.WindowThemes.begin(); it != e.WindowThemes.end();) {
    if (it->second == t)
      it = e.WindowThemes.erase(it);
    else
      ++it;
  }
  e.Live.erase(live);
  return S_OK;
}

HTHEME GetWindowTheme(HWND hwnd) {
  TEngine& e = Engine();
  std::lock_guard<std::mutex> l(e.Lock);
  auto it = e.WindowThemes.find(hwnd);
  return it == e.WindowThemes.end() ? nullptr : reinterpret_cast<HTHEME>(it->second->Id);
}

HRESULT SetWindowTheme(HWND hwnd, LPCWSTR pszSubAppName, LPCWSTR pszSubIdList) {
  if (!IsWindow(hwnd)) return E_HANDLE;
  {
    TEngine& e = Engine();
    std::lock_guard<std::mutex> l(e.Lock);
    // an id list is searched before the caller's classes; a sub-application
    // name alone changes nothing here ("Sub::Class" names the class)
    if (pszSubIdList)
      e.WindowClassLists[hwnd] = pszSubIdList;
    else
      e.WindowClassLists.erase(hwnd);
  }
  SendMessageW(hwnd, WM_THEMECHANGED, 0, 0);
  return S_OK;
}

HRESULT EnableThemeDialogTexture(HWND hwnd, DWORD) { return IsWindow(hwnd) ? S_OK : E_HANDLE; }
BOOL IsThemeDialogTextureEnabled(HWND) { return FALSE; }

// Every part number of a class is drawn (parts without an entry of their own
// take the class's default entry), so every positive part is defined.
BOOL IsThemePartDefined(HTHEME hTheme, int iPartId, int) {
  const TTheme* t = Lookup(hTheme);
  if (!t) return FALSE;
  for (const TPartSpec& s : Parts)
    if (s.Class == t->Class && s.Part == iPartId) return TRUE;
  return iPartId >= 1 ? TRUE : FALSE;
}

BOOL IsThemeBackgroundPartiallyTransparent(HTHEME hTheme, int iPartId, int) {
  const TTheme* t = Lookup(hTheme);
  if (!t) return FALSE;
  return FindSpec(t->Class, iPartId).Transparent ? TRUE : FALSE;
}

// ---------------------------------------------------------------------------
// Drawing

HRESULT DrawThemeBackground(HTHEME hTheme, HDC hdc, int iPartId, int iStateId, LPCRECT pRect,
                            LPCRECT pClipRect) {
  const TTheme* t = Lookup(hTheme);
  if (!t) return E_HANDLE;
  if (!pRect) return E_POINTER;
  if (GetObjectType(hdc) == 0) return E_HANDLE;
  RECT r = *pRect;
  if (r.left >= r.right || r.top >= r.bottom) return S_OK;
  int saved = SaveDC(hdc);
  IntersectClipRect(hdc, r.left, r.top, r.right, r.bottom);
  if (pClipRect) IntersectClipRect(hdc, pClipRect->left, pClipRect->top, pClipRect->right, pClipRect->bottom);
  DrawPart(hdc, t->Class, iPartId, iStateId, Placement(t->Class, iPartId, iStateId, r));
  RestoreDC(hdc, saved);
  return S_OK;
}

HRESULT DrawThemeBackgroundEx(HTHEME hTheme, HDC hdc, int iPartId, int iStateId, LPCRECT pRect,
                              const DTBGOPTS* pOptions) {
  const RECT* clip = pOptions && (pOptions->dwFlags & DTBG_CLIPRECT) ? &pOptions->rcClip : nullptr;
  return DrawThemeBackground(hTheme, hdc, iPartId, iStateId, pRect, clip);
}

// Paints what the parent shows under the window: the parent's erase and
// client painting into hdc, moved so that the parent's pixels land under the
// window, clipped to prc.
HRESULT DrawThemeParentBackground(HWND hwnd, HDC hdc, const RECT* prc) {
  if (!IsWindow(hwnd)) return E_HANDLE;
  HWND parent = GetParent(hwnd);
  if (!parent) return S_OK;
  POINT origin{0, 0};
  MapWindowPoints(hwnd, parent, &origin, 1);
  int saved = SaveDC(hdc);
  if (saved == 0) return E_HANDLE;
  if (prc) IntersectClipRect(hdc, prc->left, prc->top, prc->right, prc->bottom);
  OffsetWindowOrgEx(hdc, origin.x, origin.y, nullptr);
  SendMessageW(parent, WM_ERASEBKGND, reinterpret_cast<WPARAM>(hdc), 0);
  SendMessageW(parent, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(hdc), PRF_CLIENT);
  RestoreDC(hdc, saved);
  return S_OK;
}

HRESULT DrawThemeEdge(HTHEME hTheme, HDC hdc, int, int, LPCRECT pDestRect, UINT uEdge, UINT uFlags,
                      LPRECT pContentRect) {
  if (!Lookup(hTheme)) return E_HANDLE;
  if (!pDestRect) return E_POINTER;
  RECT r = *pDestRect;
  if (!DrawEdge(hdc, &r, uEdge, uFlags | BF_ADJUST)) return E_FAIL;
  if (pContentRect) *pContentRect = r;
  return S_OK;
}

HRESULT DrawThemeIcon(HTHEME hTheme, HDC hdc, int, int, LPCRECT pRect, HIMAGELIST himl, int iImageIndex) {
  if (!Lookup(hTheme)) return E_HANDLE;
  if (!pRect) return E_POINTER;
  int cx = 0, cy = 0;
  if (!ImageList_GetIconSize(himl, &cx, &cy)) return E_INVALIDARG;
  RECT at = Centered(*pRect, SIZE{cx, cy});
  return ImageList_Draw(himl, iImageIndex, hdc, at.left, at.top, ILD_TRANSPARENT) ? S_OK : E_FAIL;
}

namespace {
HRESULT ThemeText(HTHEME hTheme, HDC hdc, int iPartId, int iStateId, LPCWSTR pszText, int cchText,
                  DWORD flags, bool grayed, LPRECT pRect, const COLORREF* colour) {
  const TTheme* t = Lookup(hTheme);
  if (!t) return E_HANDLE;
  if (!pRect || !pszText) return E_POINTER;
  const TPartSpec& sp = FindSpec(t->Class, iPartId);
  TState st = StateOf(t->Class, iPartId, iStateId);
  COLORREF c = colour ? *colour : grayed ? Sys(COLOR_GRAYTEXT) : TextOf(t->Class, sp, st);
  COLORREF oldColor = SetTextColor(hdc, c);
  int oldMode = SetBkMode(hdc, TRANSPARENT);
  int h = DrawTextW(hdc, pszText, cchText, pRect, flags);
  SetBkMode(hdc, oldMode);
  SetTextColor(hdc, oldColor);
  return h == 0 && cchText != 0 && pszText[0] != 0 ? E_FAIL : S_OK;
}
}  // namespace

HRESULT DrawThemeText(HTHEME hTheme, HDC hdc, int iPartId, int iStateId, LPCWSTR pszText, int cchText,
                      DWORD dwTextFlags, DWORD dwTextFlags2, LPCRECT pRect) {
  if (!pRect) return E_POINTER;
  RECT r = *pRect;
  return ThemeText(hTheme, hdc, iPartId, iStateId, pszText, cchText, dwTextFlags & ~DWORD(DT_CALCRECT),
                   (dwTextFlags2 & DTT_GRAYED) != 0, &r, nullptr);
}

HRESULT DrawThemeTextEx(HTHEME hTheme, HDC hdc, int iPartId, int iStateId, LPCWSTR pszText, int cchText,
                        DWORD dwTextFlags, LPRECT pRect, const DTTOPTS* pOptions) {
  if (!pRect) return E_POINTER;
  DWORD flags = dwTextFlags;
  const COLORREF* colour = nullptr;
  if (pOptions) {
    if (pOptions->dwFlags & DTT_TEXTCOLOR) colour = &pOptions->crText;
    if (pOptions->dwFlags & DTT_CALCRECT) flags |= DT_CALCRECT;
  }
  if (flags & DT_CALCRECT)
    return ThemeText(hTheme, hdc, iPartId, iStateId, pszText, cchText, flags, false, pRect, colour);
  RECT r = *pRect;
  return ThemeText(hTheme, hdc, iPartId, iStateId, pszText, cchText, flags, false, &r, colour);
}

// ---------------------------------------------------------------------------
// Geometry

HRESULT GetThemeBackgroundContentRect(HTHEME hTheme, HDC, int iPartId, int, LPCRECT pBoundingRect,
                                      LPRECT pContentRect) {
  const TTheme* t = Lookup(hTheme);
  if (!t) return E_HANDLE;
  if (!pBoundingRect || !pContentRect) return E_POINTER;
  const RECT& m = FindSpec(t->Class, iPartId).Margins;
  RECT b = *pBoundingRect;
  *pContentRect = RECT{b.left + m.left, b.top + m.top, b.right - m.right, b.bottom - m.bottom};
  return S_OK;
}

HRESULT GetThemeBackgroundExtent(HTHEME hTheme, HDC, int iPartId, int, LPCRECT pContentRect,
                                 LPRECT pExtentRect) {
  const TTheme* t = Lookup(hTheme);
  if (!t) return E_HANDLE;
  if (!pContentRect || !pExtentRect) return E_POINTER;
  const RECT& m = FindSpec(t->Class, iPartId).Margins;
  RECT c = *pContentRect;
  *pExtentRect = RECT{c.left - m.left, c.top - m.top, c.right + m.right, c.bottom + m.bottom};
  return S_OK;
}

HRESULT GetThemeBackgroundRegion(HTHEME hTheme, HDC, int iPartId, int iStateId, LPCRECT pRect,
                                 HRGN* pRegion) {
  const TTheme* t = Lookup(hTheme);
  if (!t) return E_HANDLE;
  if (!pRect || !pRegion) return E_POINTER;
  *pRegion = nullptr;
  RECT at = Placement(t->Class, iPartId, iStateId, *pRect);
  RECT r{};
  IntersectRect(&r, &at, pRect);
  const TPartSpec& sp = FindSpec(t->Class, iPartId);
  *pRegion = sp.Look == lkRadio ? CreateEllipticRgn(r.left, r.top, r.right + 1, r.bottom + 1)
                                : CreateRectRgn(r.left, r.top, r.right, r.bottom);
  return *pRegion ? S_OK : E_FAIL;
}

HRESULT HitTestThemeBackground(HTHEME hTheme, HDC hdc, int iPartId, int iStateId, DWORD, LPCRECT pRect,
                               HRGN hrgn, POINT ptTest, WORD* pwHitTestCode) {
  if (!pwHitTestCode) return E_POINTER;
  *pwHitTestCode = WORD(HTNOWHERE);
  if (!Lookup(hTheme)) return E_HANDLE;
  if (!pRect) return E_POINTER;
  if (hrgn) {
    if (PtInRegion(hrgn, ptTest.x, ptTest.y)) *pwHitTestCode = WORD(HTCLIENT);
    return S_OK;
  }
  HRGN rgn = nullptr;
  HRESULT hr = GetThemeBackgroundRegion(hTheme, hdc, iPartId, iStateId, pRect, &rgn);
  if (hr != S_OK) return hr;
  if (PtInRegion(rgn, ptTest.x, ptTest.y)) *pwHitTestCode = WORD(HTCLIENT);
  DeleteObject(rgn);
  return S_OK;
}

HRESULT GetThemePartSize(HTHEME hTheme, HDC, int iPartId, int, LPCRECT prc, THEMESIZE eSize, SIZE* psz) {
  const TTheme* t = Lookup(hTheme);
  if (!t) return E_HANDLE;
  if (!psz) return E_POINTER;
  const TPartSpec& sp = FindSpec(t->Class, iPartId);
  SIZE margins{sp.Margins.left + sp.Margins.right, sp.Margins.top + sp.Margins.bottom};
  SIZE trueSize = sp.True.cx || sp.True.cy ? sp.True : margins;
  switch (eSize) {
    case TS_MIN:
      *psz = sp.Min.cx || sp.Min.cy ? sp.Min : margins;
      return S_OK;
    case TS_TRUE:
      *psz = trueSize;
      return S_OK;
    case TS_DRAW:
      if (prc && sp.Stretch)
        *psz = SIZE{std::max(0, prc->right - prc->left), std::max(0, prc->bottom - prc->top)};
      else
        *psz = trueSize;
      return S_OK;
  }
  return E_INVALIDARG;
}

HRESULT GetThemeTextExtent(HTHEME hTheme, HDC hdc, int, int, LPCWSTR pszText, int cchCharCount,
                           DWORD dwTextFlags, LPCRECT pBoundingRect, LPRECT pExtentRect) {
  if (!Lookup(hTheme)) return E_HANDLE;
  if (!pszText || !pExtentRect) return E_POINTER;
  RECT r = pBoundingRect ? *pBoundingRect : RECT{0, 0, 0, 0};
  if (!pBoundingRect) dwTextFlags |= DT_SINGLELINE;
  DrawTextW(hdc, pszText, cchCharCount, &r, dwTextFlags | DT_CALCRECT);
  *pExtentRect = r;
  return S_OK;
}

HRESULT GetThemeTextMetrics(HTHEME hTheme, HDC hdc, int, int, TEXTMETRICW* ptm) {
  if (!Lookup(hTheme)) return E_HANDLE;
  if (!ptm) return E_POINTER;
  return GetTextMetricsW(hdc, ptm) ? S_OK : E_FAIL;
}

// ---------------------------------------------------------------------------
// Properties

HRESULT GetThemeColor(HTHEME hTheme, int iPartId, int iStateId, int iPropId, COLORREF* pColor) {
  const TTheme* t = Lookup(hTheme);
  if (!t) return E_HANDLE;
  if (!pColor) return E_POINTER;
  const TPartSpec& sp = FindSpec(t->Class, iPartId);
  TState st = StateOf(t->Class, iPartId, iStateId);
  switch (iPropId) {
    case TMT_FILLCOLOR:
      *pColor = FillOf(t->Class, sp, st, iPartId);
      return S_OK;
    case TMT_BORDERCOLOR:
      *pColor = BorderOf(sp, st);
      return S_OK;
    case TMT_TEXTCOLOR:
      *pColor = TextOf(t->Class, sp, st);
      return S_OK;
    case TMT_EDGELIGHTCOLOR:
      *pColor = Sys(COLOR_3DLIGHT);
      return S_OK;
    case TMT_EDGEHIGHLIGHTCOLOR:
      *pColor = Sys(COLOR_BTNHIGHLIGHT);
      return S_OK;
    case TMT_EDGESHADOWCOLOR:
      *pColor = Sys(COLOR_BTNSHADOW);
      return S_OK;
    case TMT_EDGEDKSHADOWCOLOR:
      *pColor = Sys(COLOR_3DDKSHADOW);
      return S_OK;
    case TMT_EDGEFILLCOLOR:
      *pColor = Sys(COLOR_BTNFACE);
      return S_OK;
    default:
      return E_PROP_ID_UNSUPPORTED;
  }
}

HRESULT GetThemeMargins(HTHEME hTheme, HDC, int iPartId, int, int iPropId, LPCRECT, MARGINS* pMargins) {
  const TTheme* t = Lookup(hTheme);
  if (!t) return E_HANDLE;
  if (!pMargins) return E_POINTER;
  *pMargins = MARGINS{};
  if (iPropId != TMT_CONTENTMARGINS && iPropId != TMT_SIZINGMARGINS) return E_PROP_ID_UNSUPPORTED;
  const RECT& m = FindSpec(t->Class, iPartId).Margins;
  *pMargins = MARGINS{m.left, m.right, m.top, m.bottom};
  return S_OK;
}

HRESULT GetThemeInt(HTHEME hTheme, int iPartId, int, int iPropId, int* piVal) {
  const TTheme* t = Lookup(hTheme);
  if (!t) return E_HANDLE;
  if (!piVal) return E_POINTER;
  if (iPropId == TMT_BORDERSIZE) {
    const TPartSpec& sp = FindSpec(t->Class, iPartId);
    *piVal = sp.Look == lkFace || sp.Look == lkField || sp.Look == lkToolButton || sp.Look == lkTip ? 1 : 0;
    return S_OK;
  }
  return E_PROP_ID_UNSUPPORTED;
}

// Properties the plain theme does not define.
HRESULT GetThemeIntList(HTHEME hTheme, int, int, int, INTLIST* pIntList) {
  if (!Lookup(hTheme)) return E_HANDLE;
  if (pIntList) pIntList->iValueCount = 0;
  return E_PROP_ID_UNSUPPORTED;
}
HRESULT GetThemeMetric(HTHEME hTheme, HDC, int iPartId, int iStateId, int iPropId, int* piVal) {
  return GetThemeInt(hTheme, iPartId, iStateId, iPropId, piVal);
}
HRESULT GetThemeBool(HTHEME hTheme, int, int, int, BOOL* pfVal) {
  if (!Lookup(hTheme)) return E_HANDLE;
  if (pfVal) *pfVal = FALSE;
  return E_PROP_ID_UNSUPPORTED;
}
HRESULT GetThemeEnumValue(HTHEME hTheme, int, int, int, int* piVal) {
  if (!Lookup(hTheme)) return E_HANDLE;
  if (piVal) *piVal = 0;
  return E_PROP_ID_UNSUPPORTED;
}
HRESULT GetThemePosition(HTHEME hTheme, int, int, int, POINT* pPoint) {
  if (!Lookup(hTheme)) return E_HANDLE;
  if (pPoint) *pPoint = POINT{0, 0};
  return E_PROP_ID_UNSUPPORTED;
}
HRESULT GetThemeRect(HTHEME hTheme, int, int, int, LPRECT pRect) {
  if (!Lookup(hTheme)) return E_HANDLE;
  if (pRect) *pRect = RECT{};
  return E_PROP_ID_UNSUPPORTED;
}
HRESULT GetThemeFont(HTHEME hTheme, HDC, int, int, int, LOGFONTW* pFont) {
  if (!Lookup(hTheme)) return E_HANDLE;
  if (!pFont) return E_POINTER;
  return E_PROP_ID_UNSUPPORTED;  // controls keep their own fonts
}
HRESULT GetThemeString(HTHEME hTheme, int, int, int, LPWSTR pszBuff, int cchMaxBuffChars) {
  if (!Lookup(hTheme)) return E_HANDLE;
  if (pszBuff && cchMaxBuffChars > 0) pszBuff[0] = 0;
  return E_PROP_ID_UNSUPPORTED;
}
HRESULT GetThemeFilename(HTHEME hTheme, int iPartId, int iStateId, int iPropId, LPWSTR pszThemeFileName,
                         int cchMaxBuffChars) {
  return GetThemeString(hTheme, iPartId, iStateId, iPropId, pszThemeFileName, cchMaxBuffChars);
}
HRESULT GetThemePropertyOrigin(HTHEME hTheme, int iPartId, int, int iPropId, PROPERTYORIGIN* pOrigin) {
  if (!Lookup(hTheme)) return E_HANDLE;
  if (!pOrigin) return E_POINTER;
  bool known = iPropId == TMT_FILLCOLOR || iPropId == TMT_BORDERCOLOR || iPropId == TMT_TEXTCOLOR ||
               iPropId == TMT_CONTENTMARGINS || iPropId == TMT_BORDERSIZE ||
               (iPropId >= TMT_EDGELIGHTCOLOR && iPropId <= TMT_EDGEFILLCOLOR);
  *pOrigin = known ? (iPartId > 0 ? PO_PART : PO_CLASS) : PO_NOTFOUND;
  return S_OK;
}

COLORREF GetThemeSysColor(HTHEME, int iColorId) { return GetSysColor(iColorId); }
HBRUSH GetThemeSysColorBrush(HTHEME, int iColorId) { return GetSysColorBrush(iColorId); }
BOOL GetThemeSysBool(HTHEME, int) { return FALSE; }
int GetThemeSysSize(HTHEME, int iSizeId) { return GetSystemMetrics(iSizeId); }

HRESULT GetThemeSysFont(HTHEME, int iFontId, LOGFONTW* plf) {
  if (!plf) return E_POINTER;
  if (iFontId < TMT_CAPTIONFONT || iFontId > TMT_ICONTITLEFONT) return E_INVALIDARG;
  return GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof(LOGFONTW), plf) ? S_OK : E_FAIL;
}
HRESULT GetThemeSysInt(HTHEME, int, int* piValue) {
  if (piValue) *piValue = 0;
  return E_PROP_ID_UNSUPPORTED;
}
HRESULT GetThemeSysString(HTHEME, int, LPWSTR pszStringBuff, int cchMaxStringChars) {
  if (pszStringBuff && cchMaxStringChars > 0) pszStringBuff[0] = 0;
  return E_PROP_ID_UNSUPPORTED;
}

}  // namespace win
