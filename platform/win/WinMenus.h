// Menus: menu handles, items, the system menu and TrackPopupMenu.
#pragma once

#include "platform/win/Windows.h"

namespace win {

// Item flags of AppendMenu/InsertMenu/ModifyMenu and the state answered by GetMenuState.
constexpr UINT MF_INSERT = 0x0000, MF_CHANGE = 0x0080, MF_APPEND = 0x0100, MF_DELETE = 0x0200,
               MF_REMOVE = 0x1000, MF_BYCOMMAND = 0x0000, MF_BYPOSITION = 0x0400, MF_SEPARATOR = 0x0800,
               MF_ENABLED = 0x0000, MF_GRAYED = 0x0001, MF_DISABLED = 0x0002, MF_UNCHECKED = 0x0000,
               MF_CHECKED = 0x0008, MF_USECHECKBITMAPS = 0x0200, MF_STRING = 0x0000, MF_BITMAP = 0x0004,
               MF_OWNERDRAW = 0x0100, MF_POPUP = 0x0010, MF_MENUBARBREAK = 0x0020, MF_MENUBREAK = 0x0040,
               MF_UNHILITE = 0x0000, MF_HILITE = 0x0080, MF_DEFAULT = 0x1000, MF_SYSMENU = 0x2000,
               MF_HELP = 0x4000, MF_RIGHTJUSTIFY = 0x4000, MF_MOUSESELECT = 0x8000;

// MENUITEMINFOW
constexpr UINT MFT_STRING = MF_STRING, MFT_BITMAP = MF_BITMAP, MFT_MENUBARBREAK = MF_MENUBARBREAK,
               MFT_MENUBREAK = MF_MENUBREAK, MFT_OWNERDRAW = MF_OWNERDRAW, MFT_RADIOCHECK = 0x0200,
               MFT_SEPARATOR = MF_SEPARATOR, MFT_RIGHTORDER = 0x2000, MFT_RIGHTJUSTIFY = MF_RIGHTJUSTIFY;
constexpr UINT MFS_GRAYED = 0x0003, MFS_DISABLED = MFS_GRAYED, MFS_CHECKED = MF_CHECKED,
               MFS_HILITE = MF_HILITE, MFS_ENABLED = MF_ENABLED, MFS_UNCHECKED = MF_UNCHECKED,
               MFS_UNHILITE = MF_UNHILITE, MFS_DEFAULT = MF_DEFAULT;
constexpr UINT MIIM_STATE = 0x0001, MIIM_ID = 0x0002, MIIM_SUBMENU = 0x0004, MIIM_CHECKMARKS = 0x0008,
               MIIM_TYPE = 0x0010, MIIM_DATA = 0x0020, MIIM_STRING = 0x0040, MIIM_BITMAP = 0x0080,
               MIIM_FTYPE = 0x0100;

struct MENUITEMINFOW {
  UINT cbSize{};
  UINT fMask{};
  UINT fType{};
  UINT fState{};
  UINT wID{};
  HMENU hSubMenu{};
  HBITMAP hbmpChecked{};
  HBITMAP hbmpUnchecked{};
  ULONG_PTR dwItemData{};
  LPWSTR dwTypeData{};  // the text (MIIM_STRING / MFT_STRING); GetMenuItemInfoW copies into it
  UINT cch{};           // its buffer size in characters; answered with the text's length
  HBITMAP hbmpItem{};
};
using LPMENUITEMINFOW = MENUITEMINFOW*;
using LPCMENUITEMINFOW = const MENUITEMINFOW*;
using MENUITEMINFO = MENUITEMINFOW;

// Predefined item bitmaps (hbmpItem): drawn by the menu itself.
inline const HBITMAP HBMMENU_CALLBACK = reinterpret_cast<HBITMAP>(intptr_t(-1));
inline const HBITMAP HBMMENU_SYSTEM = reinterpret_cast<HBITMAP>(intptr_t(1));
inline const HBITMAP HBMMENU_MBAR_RESTORE = reinterpret_cast<HBITMAP>(intptr_t(2));
inline const HBITMAP HBMMENU_MBAR_MINIMIZE = reinterpret_cast<HBITMAP>(intptr_t(3));
inline const HBITMAP HBMMENU_MBAR_CLOSE = reinterpret_cast<HBITMAP>(intptr_t(5));
inline const HBITMAP HBMMENU_MBAR_CLOSE_D = reinterpret_cast<HBITMAP>(intptr_t(6));
inline const HBITMAP HBMMENU_MBAR_MINIMIZE_D = reinterpret_cast<HBITMAP>(intptr_t(7));
inline const HBITMAP HBMMENU_POPUP_CLOSE = reinterpret_cast<HBITMAP>(intptr_t(8));
inline const HBITMAP HBMMENU_POPUP_RESTORE = reinterpret_cast<HBITMAP>(intptr_t(9));
inline const HBITMAP HBMMENU_POPUP_MAXIMIZE = reinterpret_cast<HBITMAP>(intptr_t(10));
inline const HBITMAP HBMMENU_POPUP_MINIMIZE = reinterpret_cast<HBITMAP>(intptr_t(11));

// TrackPopupMenu(Ex)
constexpr UINT TPM_LEFTBUTTON = 0x0000, TPM_RIGHTBUTTON = 0x0002, TPM_LEFTALIGN = 0x0000,
               TPM_CENTERALIGN = 0x0004, TPM_RIGHTALIGN = 0x0008, TPM_TOPALIGN = 0x0000,
               TPM_VCENTERALIGN = 0x0010, TPM_BOTTOMALIGN = 0x0020, TPM_HORIZONTAL = 0x0000,
               TPM_VERTICAL = 0x0040, TPM_NONOTIFY = 0x0080, TPM_RETURNCMD = 0x0100, TPM_RECURSE = 0x0001,
               TPM_HORPOSANIMATION = 0x0400, TPM_HORNEGANIMATION = 0x0800, TPM_VERPOSANIMATION = 0x1000,
               TPM_VERNEGANIMATION = 0x2000, TPM_NOANIMATION = 0x4000, TPM_LAYOUTRTL = 0x8000;
struct TPMPARAMS {
  UINT cbSize{};
  RECT rcExclude{};
};
using LPTPMPARAMS = TPMPARAMS*;

// WM_MENUCHAR answers (high word).
constexpr UINT MNC_IGNORE = 0, MNC_CLOSE = 1, MNC_EXECUTE = 2, MNC_SELECT = 3;
constexpr UINT WM_UNINITMENUPOPUP = 0x0125;

// Menus and items. Handles count up and are never reused; a stale handle is
// unknown (the calls fail). MF_BYCOMMAND finds the first item with the
// command in the menu or, depth first, in its sub-menus.
HMENU CreateMenu();
HMENU CreatePopupMenu();
// Destroys the menu and its sub-menus.
BOOL DestroyMenu(HMENU hMenu);
BOOL IsMenu(HMENU hMenu);
// MF_POPUP items take the sub-menu handle in uIDNewItem; MF_STRING items take
// the text in lpNewItem, MF_BITMAP a bitmap handle, MF_OWNERDRAW the item data.
BOOL AppendMenuW(HMENU hMenu, UINT uFlags, UINT_PTR uIDNewItem, LPCWSTR lpNewItem);
BOOL InsertMenuW(HMENU hMenu, UINT uPosition, UINT uFlags, UINT_PTR uIDNewItem, LPCWSTR lpNewItem);
BOOL ModifyMenuW(HMENU hMnu, UINT uPosition, UINT uFlags, UINT_PTR uIDNewItem, LPCWSTR lpNewItem);
BOOL InsertMenuItemW(HMENU hmenu, UINT item, BOOL fByPosition, LPCMENUITEMINFOW lpmi);
BOOL SetMenuItemInfoW(HMENU hmenu, UINT item, BOOL fByPositon, LPCMENUITEMINFOW lpmii);
BOOL GetMenuItemInfoW(HMENU hmenu, UINT item, BOOL fByPosition, LPMENUITEMINFOW lpmii);
int GetMenuItemCount(HMENU hMenu);
UINT GetMenuItemID(HMENU hMenu, int nPos);
// The MF_ state and type flags of the item; for a sub-menu item the item count
// in the high byte. (UINT)-1 when the item does not exist.
UINT GetMenuState(HMENU hMenu, UINT uId, UINT uFlags);
// Copies the text (with its "&"); answers its length. Without a buffer, the length.
int GetMenuStringW(HMENU hMenu, UINT uIDItem, LPWSTR lpString, int cchMax, UINT flags);
inline int GetMenuString(HMENU m, UINT id, LPWSTR s, int n, UINT f) { return GetMenuStringW(m, id, s, n, f); }
// Takes the item out; a sub-menu is kept (RemoveMenu) or destroyed (DeleteMenu).
BOOL RemoveMenu(HMENU hMenu, UINT uPosition, UINT uFlags);
BOOL DeleteMenu(HMENU hMenu, UINT uPosition, UINT uFlags);
// Answer the previous state (MF_ENABLED/MF_GRAYED/MF_DISABLED, MF_CHECKED), (UINT)-1 / (DWORD)-1 for no item.
BOOL EnableMenuItem(HMENU hMenu, UINT uIDEnableItem, UINT uEnable);
DWORD CheckMenuItem(HMENU hMenu, UINT uIDCheckItem, UINT uCheck);
BOOL CheckMenuRadioItem(HMENU hmenu, UINT first, UINT last, UINT check, UINT flags);
BOOL SetMenuDefaultItem(HMENU hMenu, UINT uItem, UINT fByPos);
HMENU GetSubMenu(HMENU hMenu, int nPos);

// The window menu of a window with WS_SYSMENU (made on first use, freed with
// the window): Restore, Move, Size, Minimize, Maximize, a separator and Close,
// with Turkish captions, enabled after the window's state and styles. bRevert
// restores the default menu and answers nil. Choosing an item sends WM_SYSCOMMAND.
HMENU GetSystemMenu(HWND hWnd, BOOL bRevert);

// Shows a popup menu at (x, y) in screen coordinates and runs its own modal
// loop until an item is chosen or the menu is cancelled. The menu windows
// are topmost and never take the activation; the keyboard goes to the menu
// while it runs. The owner gets WM_ENTERMENULOOP, WM_INITMENUPOPUP,
// WM_MENUSELECT, WM_MEASUREITEM/WM_DRAWITEM (owner-drawn items), WM_MENUCHAR,
// WM_EXITMENULOOP, then WM_COMMAND (WM_SYSCOMMAND for a system menu) posted
// with the chosen command. TPM_RETURNCMD answers the command instead of
// posting it (0 when none was chosen); TPM_NONOTIFY sends no notification
// (owner drawing is still asked). A second menu while one runs fails.
BOOL TrackPopupMenuEx(HMENU hMenu, UINT uFlags, int x, int y, HWND hwnd, LPTPMPARAMS lptpm);
BOOL TrackPopupMenu(HMENU hMenu, UINT uFlags, int x, int y, int nReserved, HWND hWnd, const RECT* prcRect);
// Ends the running popup menu as if cancelled.
BOOL EndMenu();

}  // namespace win
