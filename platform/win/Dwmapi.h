// The desktop window manager API (dwmapi). Desktop composition is reported
// off: DwmIsCompositionEnabled answers FALSE, and the glass functions fail
// with DWM_E_COMPOSITIONDISABLED, so callers take their non-glass paths.
#pragma once

#include "platform/win/UxTheme.h"
#include "platform/win/WinTypes.h"

namespace win {

constexpr HRESULT DWM_E_COMPOSITIONDISABLED = static_cast<HRESULT>(0x80263001u);

struct DWM_BLURBEHIND {
  DWORD dwFlags{};
  BOOL fEnable{};
  HRGN hRgnBlur{};
  BOOL fTransitionOnMaximized{};
};

constexpr UINT DWM_EC_DISABLECOMPOSITION = 0, DWM_EC_ENABLECOMPOSITION = 1;

// DwmGetWindowAttribute / DwmSetWindowAttribute
constexpr DWORD DWMWA_NCRENDERING_ENABLED = 1, DWMWA_NCRENDERING_POLICY = 2,
                DWMWA_TRANSITIONS_FORCEDISABLED = 3, DWMWA_ALLOW_NCPAINT = 4, DWMWA_CAPTION_BUTTON_BOUNDS = 5,
                DWMWA_NONCLIENT_RTL_LAYOUT = 6, DWMWA_FORCE_ICONIC_REPRESENTATION = 7,
                DWMWA_FLIP3D_POLICY = 8, DWMWA_EXTENDED_FRAME_BOUNDS = 9, DWMWA_HAS_ICONIC_BITMAP = 10,
                DWMWA_DISALLOW_PEEK = 11, DWMWA_EXCLUDED_FROM_PEEK = 12, DWMWA_LAST = 13;

HRESULT DwmIsCompositionEnabled(BOOL* pfEnabled);
HRESULT DwmEnableComposition(UINT uCompositionAction);
HRESULT DwmExtendFrameIntoClientArea(HWND hWnd, const MARGINS* pMarInset);
HRESULT DwmEnableBlurBehindWindow(HWND hWnd, const DWM_BLURBEHIND* pBlurBehind);
BOOL DwmDefWindowProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* plResult);
HRESULT DwmEnableMMCSS(BOOL fEnableMMCSS);
HRESULT DwmGetColorizationColor(DWORD* pcrColorization, BOOL* pfOpaqueBlend);
HRESULT DwmGetWindowAttribute(HWND hwnd, DWORD dwAttribute, LPVOID pvAttribute, DWORD cbAttribute);
HRESULT DwmSetWindowAttribute(HWND hwnd, DWORD dwAttribute, LPCVOID pvAttribute, DWORD cbAttribute);

}  // namespace win
