#include "lib/foundation/nbUxTheme.h"

#include <cstring>

#include "lib/foundation/nbCore.h"

#include "platform/classes/ModuleInit.h"
#include "platform/win/Gdi.h"
#include "platform/win/ImageList.h"
#include "platform/win/Modules.h"

namespace {

// The names bound, in the library's order.
const char* const BoundNames[] = {
    "CloseThemeData", "DrawThemeBackground", "DrawThemeEdge", "DrawThemeIcon", "DrawThemeParentBackground",
    "DrawThemeText", "DrawThemeTextEx", "EnableThemeDialogTexture", "GetCurrentThemeName",
    "GetThemeAppProperties", "GetThemeBackgroundContentRect", "GetThemeBackgroundRegion",
    "GetThemeBackgroundExtent", "GetThemeBool", "GetThemeColor", "GetThemeDocumentationProperty",
    "GetThemeEnumValue", "GetThemeFilename", "GetThemeFont", "GetThemeInt", "GetThemeIntList",
    "GetThemeMargins", "GetThemeMetric", "GetThemePartSize", "GetThemePosition", "GetThemePropertyOrigin",
    "GetThemeRect", "GetThemeString", "GetThemeSysBool", "GetThemeSysColor", "GetThemeSysColorBrush",
    "GetThemeSysFont", "GetThemeSysInt", "GetThemeSysSize", "GetThemeSysString", "GetThemeTextExtent",
    "GetThemeTextMetrics", "GetWindowTheme", "HitTestThemeBackground", "IsAppThemed", "IsThemeActive",
    "IsThemePartDefined", "IsThemeBackgroundPartiallyTransparent", "IsThemeDialogTextureEnabled",
    "OpenThemeData", "SetThemeAppProperties", "SetWindowTheme", "BufferedPaintInit", "BufferedPaintUnInit",
    "BeginBufferedPaint", "EndBufferedPaint", "BufferedPaintSetAlpha"};
constexpr int BoundCount = sizeof(BoundNames) / sizeof(BoundNames[0]);
static_assert(BoundCount == 52);

TnbBoundLibrary Library;

int IndexOf(const char* AName) {
  for (int i = 0; i < BoundCount; ++i)
    if (std::strcmp(BoundNames[i], AName) == 0) return i;
  return -1;
}

// The bound function of that name as the given signature; nil when unbound.
template <typename F>
F Bound(const char* AName) {
  return reinterpret_cast<F>(Library.Proc(IndexOf(AName)));
}

// Calls the bound function, or answers AFallback when the name is unbound.
template <typename F, typename R, typename... A>
R CallOr(const char* AName, R AFallback, A... Args) {
  F f = Bound<F>(AName);
  return f ? f(Args...) : AFallback;
}

using TBeginBufferedPaint = HPAINTBUFFER (*)(win::HDC, const win::RECT*, BP_BUFFERFORMAT, BP_PAINTPARAMS*,
                                              win::HDC*);
using TEndBufferedPaint = HRESULT (*)(HPAINTBUFFER, BOOL);
using TBufferedPaintSetAlpha = HRESULT (*)(HPAINTBUFFER, const win::RECT*, Byte);

}  // namespace

Boolean nbIsUxThemeLoaded() { return Library.Loaded(); }

Boolean nbIsUxThemeFunctionBound(const char* AName) { return Library.Proc(IndexOf(AName)) != nullptr; }

void nbUxThemeInitialize() {
  win::InitCommonControls();
  Library.Load(u"UxTheme.dll", BoundNames, BoundCount);
}

void nbUxThemeFinalize() { Library.Unload(); }

CL_UNIT_STEPS(nbUxTheme, &nbUxThemeInitialize, &nbUxThemeFinalize);

win::HTHEME OpenThemeData(win::HWND hwnd, const Char* pszClassList) {
  return CallOr<decltype(&win::OpenThemeData)>("OpenThemeData", win::HTHEME{}, hwnd, pszClassList);
}

HRESULT CloseThemeData(win::HTHEME hTheme) {
  return CallOr<decltype(&win::CloseThemeData)>("CloseThemeData", E_NOTIMPL, hTheme);
}

HRESULT DrawThemeBackground(win::HTHEME hTheme, win::HDC hdc, int iPartId, int iStateId, const win::RECT* pRect,
                            const win::RECT* pClipRect) {
  return CallOr<decltype(&win::DrawThemeBackground)>("DrawThemeBackground", E_NOTIMPL, hTheme, hdc, iPartId,
                                                     iStateId, pRect, pClipRect);
}

HRESULT DrawThemeBackground(win::HTHEME hTheme, win::HDC hdc, int iPartId, int iStateId, const win::RECT& R,
                            const win::RECT* pClipRect) {
  return ::DrawThemeBackground(hTheme, hdc, iPartId, iStateId, &R, pClipRect);
}

HRESULT DrawThemeText(win::HTHEME hTheme, win::HDC hdc, int iPartId, int iStateId, const Char* pszText,
                      int iCharCount, win::DWORD dwTextFlags, win::DWORD dwTextFlags2, const win::RECT* pRect) {
  return CallOr<decltype(&win::DrawThemeText)>("DrawThemeText", E_NOTIMPL, hTheme, hdc, iPartId, iStateId,
                                               pszText, iCharCount, dwTextFlags, dwTextFlags2, pRect);
}

HRESULT DrawThemeText(win::HTHEME hTheme, win::HDC hdc, int iPartId, int iStateId, const String& AText,
                      int iCharCount, win::DWORD dwTextFlags, win::DWORD dwTextFlags2, const win::RECT& R) {
  return ::DrawThemeText(hTheme, hdc, iPartId, iStateId, AText.c_str(), iCharCount, dwTextFlags, dwTextFlags2, &R);
}

HRESULT GetThemeBackgroundContentRect(win::HTHEME hTheme, win::HDC hdc, int iPartId, int iStateId,
                                      const win::RECT* pBoundingRect, win::RECT* pContentRect) {
  return CallOr<decltype(&win::GetThemeBackgroundContentRect)>("GetThemeBackgroundContentRect", E_NOTIMPL, hTheme,
                                                               hdc, iPartId, iStateId, pBoundingRect, pContentRect);
}

HRESULT GetThemePartSize(win::HTHEME hTheme, win::HDC hdc, int iPartId, int iStateId, const win::RECT* prc,
                         win::THEMESIZE eSize, win::SIZE* psz) {
  return CallOr<decltype(&win::GetThemePartSize)>("GetThemePartSize", E_NOTIMPL, hTheme, hdc, iPartId, iStateId,
                                                  prc, eSize, psz);
}

HRESULT GetThemePartSize(win::HTHEME hTheme, win::HDC hdc, int iPartId, int iStateId, win::THEMESIZE eSize,
                         win::SIZE* psz) {
  return ::GetThemePartSize(hTheme, hdc, iPartId, iStateId, nullptr, eSize, psz);
}

HRESULT GetThemeBackgroundRegion(win::HTHEME hTheme, win::HDC hdc, int iPartId, int iStateId,
                                 const win::RECT* pRect, win::HRGN* pRegion) {
  return CallOr<decltype(&win::GetThemeBackgroundRegion)>("GetThemeBackgroundRegion", E_NOTIMPL, hTheme, hdc,
                                                          iPartId, iStateId, pRect, pRegion);
}

HRESULT DrawThemeEdge(win::HTHEME hTheme, win::HDC hdc, int iPartId, int iStateId, const win::RECT* pDestRect,
                      win::UINT uEdge, win::UINT uFlags, win::RECT* pContentRect) {
  return CallOr<decltype(&win::DrawThemeEdge)>("DrawThemeEdge", E_NOTIMPL, hTheme, hdc, iPartId, iStateId,
                                               pDestRect, uEdge, uFlags, pContentRect);
}

BOOL IsThemeBackgroundPartiallyTransparent(win::HTHEME hTheme, int iPartId, int iStateId) {
  return CallOr<decltype(&win::IsThemeBackgroundPartiallyTransparent)>("IsThemeBackgroundPartiallyTransparent",
                                                                       BOOL{win::FALSE}, hTheme, iPartId, iStateId);
}

HRESULT DrawThemeParentBackground(win::HWND hwnd, win::HDC hdc, const win::RECT* prc) {
  win::HGDIOBJ font = win::GetCurrentObject(hdc, win::OBJ_FONT);
  HRESULT result = CallOr<decltype(&win::DrawThemeParentBackground)>("DrawThemeParentBackground", E_NOTIMPL,
                                                                     hwnd, hdc, prc);
  if (font) win::SelectObject(hdc, font);
  return result;
}

HRESULT GetThemeColor(win::HTHEME hTheme, int iPartId, int iStateId, int iPropId, win::COLORREF* pColor) {
  return CallOr<decltype(&win::GetThemeColor)>("GetThemeColor", E_NOTIMPL, hTheme, iPartId, iStateId, iPropId,
                                               pColor);
}

BOOL IsThemeActive() { return CallOr<decltype(&win::IsThemeActive)>("IsThemeActive", BOOL{win::FALSE}); }

HRESULT GetCurrentThemeName(Char* pszThemeFileName, int cchMaxNameChars, Char* pszColorBuff, int cchMaxColorChars,
                            Char* pszSizeBuff, int cchMaxSizeChars) {
  return CallOr<decltype(&win::GetCurrentThemeName)>("GetCurrentThemeName", E_NOTIMPL, pszThemeFileName,
                                                     cchMaxNameChars, pszColorBuff, cchMaxColorChars, pszSizeBuff,
                                                     cchMaxSizeChars);
}

HPAINTBUFFER BeginBufferedPaint(win::HDC hdcTarget, const win::RECT* prcTarget, BP_BUFFERFORMAT dwFormat,
                                BP_PAINTPARAMS* pPaintParams, win::HDC* phdc) {
  return CallOr<TBeginBufferedPaint>("BeginBufferedPaint", HPAINTBUFFER{}, hdcTarget, prcTarget, dwFormat,
                                     pPaintParams, phdc);
}

HRESULT EndBufferedPaint(HPAINTBUFFER hBufferedPaint, BOOL fUpdateTarget) {
  return CallOr<TEndBufferedPaint>("EndBufferedPaint", E_NOTIMPL, hBufferedPaint, fUpdateTarget);
}

HRESULT BufferedPaintSetAlpha(HPAINTBUFFER hBufferedPaint, const win::RECT* prc, Byte alpha) {
  return CallOr<TBufferedPaintSetAlpha>("BufferedPaintSetAlpha", E_NOTIMPL, hBufferedPaint, prc, alpha);
}
