// Desktop composition is off: the queries answer so, the glass functions fail
// with DWM_E_COMPOSITIONDISABLED.
#include "platform/win/Dwmapi.h"

#include <cstring>

#include "platform/win/Windows.h"

namespace win {

HRESULT DwmIsCompositionEnabled(BOOL* pfEnabled) {
  if (!pfEnabled) return E_INVALIDARG;
  *pfEnabled = FALSE;
  return S_OK;
}

// Composition cannot be switched on; switching it off is what it already is.
HRESULT DwmEnableComposition(UINT uCompositionAction) {
  return uCompositionAction == DWM_EC_DISABLECOMPOSITION ? S_OK : DWM_E_COMPOSITIONDISABLED;
}

HRESULT DwmExtendFrameIntoClientArea(HWND hWnd, const MARGINS* pMarInset) {
  if (!IsWindow(hWnd) || !pMarInset) return E_INVALIDARG;
  return DWM_E_COMPOSITIONDISABLED;
}

HRESULT DwmEnableBlurBehindWindow(HWND hWnd, const DWM_BLURBEHIND* pBlurBehind) {
  if (!IsWindow(hWnd) || !pBlurBehind) return E_INVALIDARG;
  return DWM_E_COMPOSITIONDISABLED;
}

// No caption buttons are drawn by a window manager, so nothing is handled here.
BOOL DwmDefWindowProc(HWND, UINT, WPARAM, LPARAM, LRESULT* plResult) {
  if (plResult) *plResult = 0;
  return FALSE;
}

HRESULT DwmEnableMMCSS(BOOL) { return S_OK; }

HRESULT DwmGetColorizationColor(DWORD* pcrColorization, BOOL* pfOpaqueBlend) {
  if (!pcrColorization || !pfOpaqueBlend) return E_INVALIDARG;
  return DWM_E_COMPOSITIONDISABLED;
}

HRESULT DwmGetWindowAttribute(HWND hwnd, DWORD dwAttribute, LPVOID pvAttribute, DWORD cbAttribute) {
  if (!IsWindow(hwnd)) return E_HANDLE;
  if (!pvAttribute) return E_INVALIDARG;
  switch (dwAttribute) {
    case DWMWA_NCRENDERING_ENABLED: {
      if (cbAttribute != sizeof(BOOL)) return E_INVALIDARG;
      BOOL v = FALSE;
      std::memcpy(pvAttribute, &v, sizeof v);
      return S_OK;
    }
    case DWMWA_EXTENDED_FRAME_BOUNDS: {
      if (cbAttribute != sizeof(RECT)) return E_INVALIDARG;
      RECT r{};
      GetWindowRect(hwnd, &r);
      std::memcpy(pvAttribute, &r, sizeof r);
      return S_OK;
    }
    default:
      return E_INVALIDARG;
  }
}

HRESULT DwmSetWindowAttribute(HWND hwnd, DWORD dwAttribute, LPCVOID pvAttribute, DWORD) {
  if (!IsWindow(hwnd)) return E_HANDLE;
  if (!pvAttribute || dwAttribute == 0 || dwAttribute >= DWMWA_LAST) return E_INVALIDARG;
  return S_OK;  // kept by no one: there is no window manager to tell
}

}  // namespace win
