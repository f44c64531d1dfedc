// Access to the visual-theme library ("UxTheme.dll"), bound by name at
// start-up so that the program also runs where the library is missing.
// The wrappers carry the system's own names (at global scope; the platform's
// functions live in namespace win; since the handle types are the platform's,
// callers name the wrappers with "::" to keep argument-dependent lookup from
// finding both). Callers first make sure the library is
// loaded (the theme manager's availability answer); a wrapper whose function
// the library lacks answers E_NOTIMPL (or 0, nil, FALSE) instead of calling it.
#pragma once

#include "platform/rtl/Types.h"
#include "platform/win/UxTheme.h"

// Buffered painting (Vista and later). The platform's theme library does not
// offer it, so the names stay unbound and the wrappers answer failure.
struct HPAINTBUFFER__;
using HPAINTBUFFER = HPAINTBUFFER__*;
enum BP_BUFFERFORMAT : int { BPBF_COMPATIBLEBITMAP = 0, BPBF_DIB = 1, BPBF_TOPDOWNDIB = 2, BPBF_TOPDOWNMONODIB = 3 };
struct BP_PAINTPARAMS {
  win::DWORD cbSize{};
  win::DWORD dwFlags{};
  const win::RECT* prcExclude{};
  const void* pBlendFunction{};
};

// True when the library was loaded at start-up.
Boolean nbIsUxThemeLoaded();
// Whether the loaded library offers the name (one of the 52 bound names).
Boolean nbIsUxThemeFunctionBound(const char* AName);

// The unit's start-up and shut-down: common controls initialized, the library
// loaded and every name bound; at shut-down the library is freed.
void nbUxThemeInitialize();
void nbUxThemeFinalize();

win::HTHEME OpenThemeData(win::HWND hwnd, const Char* pszClassList);
HRESULT CloseThemeData(win::HTHEME hTheme);
HRESULT DrawThemeBackground(win::HTHEME hTheme, win::HDC hdc, int iPartId, int iStateId,
                                 const win::RECT* pRect, const win::RECT* pClipRect);
HRESULT DrawThemeBackground(win::HTHEME hTheme, win::HDC hdc, int iPartId, int iStateId,
                                 const win::RECT& R, const win::RECT* pClipRect = nullptr);
HRESULT DrawThemeText(win::HTHEME hTheme, win::HDC hdc, int iPartId, int iStateId, const Char* pszText,
                           int iCharCount, win::DWORD dwTextFlags, win::DWORD dwTextFlags2, const win::RECT* pRect);
HRESULT DrawThemeText(win::HTHEME hTheme, win::HDC hdc, int iPartId, int iStateId, const String& AText,
                           int iCharCount, win::DWORD dwTextFlags, win::DWORD dwTextFlags2, const win::RECT& R);
HRESULT GetThemeBackgroundContentRect(win::HTHEME hTheme, win::HDC hdc, int iPartId, int iStateId,
                                           const win::RECT* pBoundingRect, win::RECT* pContentRect);
HRESULT GetThemePartSize(win::HTHEME hTheme, win::HDC hdc, int iPartId, int iStateId, const win::RECT* prc,
                              win::THEMESIZE eSize, win::SIZE* psz);
HRESULT GetThemePartSize(win::HTHEME hTheme, win::HDC hdc, int iPartId, int iStateId, win::THEMESIZE eSize,
                              win::SIZE* psz);
HRESULT GetThemeBackgroundRegion(win::HTHEME hTheme, win::HDC hdc, int iPartId, int iStateId,
                                      const win::RECT* pRect, win::HRGN* pRegion);
HRESULT DrawThemeEdge(win::HTHEME hTheme, win::HDC hdc, int iPartId, int iStateId, const win::RECT* pDestRect,
                           win::UINT uEdge, win::UINT uFlags, win::RECT* pContentRect);
BOOL IsThemeBackgroundPartiallyTransparent(win::HTHEME hTheme, int iPartId, int iStateId);
// Puts the font that was selected into the DC back after the system call
// (which may leave another one selected).
HRESULT DrawThemeParentBackground(win::HWND hwnd, win::HDC hdc, const win::RECT* prc);
HRESULT GetThemeColor(win::HTHEME hTheme, int iPartId, int iStateId, int iPropId, win::COLORREF* pColor);
// FALSE also when the library or the name is missing.
BOOL IsThemeActive();
HRESULT GetCurrentThemeName(Char* pszThemeFileName, int cchMaxNameChars, Char* pszColorBuff,
                                 int cchMaxColorChars, Char* pszSizeBuff, int cchMaxSizeChars);
HPAINTBUFFER BeginBufferedPaint(win::HDC hdcTarget, const win::RECT* prcTarget, BP_BUFFERFORMAT dwFormat,
                                BP_PAINTPARAMS* pPaintParams, win::HDC* phdc);
HRESULT EndBufferedPaint(HPAINTBUFFER hBufferedPaint, BOOL fUpdateTarget);
HRESULT BufferedPaintSetAlpha(HPAINTBUFFER hBufferedPaint, const win::RECT* prc, Byte alpha);
