// The table of libraries and entry points answered at run time.
//
// To bind a new function: add {"Name", Proc(&win::Name)} to its library's
// list below once the function exists in platform/win. A library with an
// empty list does not load, so callers take their "library missing" path.
#include "platform/win/Modules.h"

#include <atomic>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "platform/win/Dwmapi.h"
#include "platform/win/Gdi.h"
#include "platform/win/GdiPlus.h"
#include "platform/win/ImageList.h"
#include "platform/win/UxTheme.h"

namespace win {

namespace {

template <class F>
FARPROC Proc(F* f) {
  return reinterpret_cast<FARPROC>(f);
}

struct TEntry {
  const char* Name;
  FARPROC Proc;
};

struct TLibrary {
  const char* Name;  // lower case, without ".dll"
  bool AlwaysLoaded;
  std::vector<TEntry> Entries;
  int LoadCount = 0;
  bool Hidden = false;
};

namespace gp = win::gdiplus;

std::vector<TLibrary>& Libraries() {
  static std::vector<TLibrary> table = {
      {"kernel32", true, {}},
      {"user32",
       true,
       {
           {"MonitorFromPoint", Proc(&MonitorFromPoint)},
           {"MonitorFromRect", Proc(&MonitorFromRect)},
           {"MonitorFromWindow", Proc(&MonitorFromWindow)},
           {"GetMonitorInfoW", Proc(&GetMonitorInfoW)},
           {"EnumDisplayMonitors", Proc(&EnumDisplayMonitors)},
           {"UpdateLayeredWindow", Proc(&UpdateLayeredWindow)},
           {"SetLayeredWindowAttributes", Proc(&SetLayeredWindowAttributes)},
           {"GetLayeredWindowAttributes", Proc(&GetLayeredWindowAttributes)},
           {"AnimateWindow", Proc(&AnimateWindow)},
           {"GetScrollBarInfo", Proc(&GetScrollBarInfo)},
       }},
      {"gdi32", true, {}},
      {"comctl32", true, {{"InitCommonControls", Proc(&InitCommonControls)}}},
      {"msimg32",
       false,
       {
           {"AlphaBlend", Proc(&AlphaBlend)},
           {"GradientFill", Proc(&GradientFill)},
           {"TransparentBlt", Proc(&TransparentBlt)},
       }},
      {"uxtheme",
       false,
       {
           {"CloseThemeData", Proc(&CloseThemeData)},
           {"DrawThemeBackground", Proc(&DrawThemeBackground)},
           {"DrawThemeBackgroundEx", Proc(&DrawThemeBackgroundEx)},
           {"DrawThemeEdge", Proc(&DrawThemeEdge)},
           {"DrawThemeIcon", Proc(&DrawThemeIcon)},
           {"DrawThemeParentBackground", Proc(&DrawThemeParentBackground)},
           {"DrawThemeText", Proc(&DrawThemeText)},
           {"DrawThemeTextEx", Proc(&DrawThemeTextEx)},
           {"EnableThemeDialogTexture", Proc(&EnableThemeDialogTexture)},
           {"EnableTheming", Proc(&EnableTheming)},
           {"GetCurrentThemeName", Proc(&GetCurrentThemeName)},
           {"GetThemeAppProperties", Proc(&GetThemeAppProperties)},
           {"GetThemeBackgroundContentRect", Proc(&GetThemeBackgroundContentRect)},
           {"GetThemeBackgroundExtent", Proc(&GetThemeBackgroundExtent)},
           {"GetThemeBackgroundRegion", Proc(&GetThemeBackgroundRegion)},
           {"GetThemeBool", Proc(&GetThemeBool)},
           {"GetThemeColor", Proc(&GetThemeColor)},
           {"GetThemeDocumentationProperty", Proc(&GetThemeDocumentationProperty)},
           {"GetThemeEnumValue", Proc(&GetThemeEnumValue)},
           {"GetThemeFilename", Proc(&GetThemeFilename)},
           {"GetThemeFont", Proc(&GetThemeFont)},
           {"GetThemeInt", Proc(&GetThemeInt)},
           {"GetThemeIntList", Proc(&GetThemeIntList)},
           {"GetThemeMargins", Proc(&GetThemeMargins)},
           {"GetThemeMetric", Proc(&GetThemeMetric)},
           {"GetThemePartSize", Proc(&GetThemePartSize)},
           {"GetThemePosition", Proc(&GetThemePosition)},
           {"GetThemePropertyOrigin", Proc(&GetThemePropertyOrigin)},
           {"GetThemeRect", Proc(&GetThemeRect)},
           {"GetThemeString", Proc(&GetThemeString)},
           {"GetThemeSysBool", Proc(&GetThemeSysBool)},
           {"GetThemeSysColor", Proc(&GetThemeSysColor)},
           {"GetThemeSysColorBrush", Proc(&GetThemeSysColorBrush)},
           {"GetThemeSysFont", Proc(&GetThemeSysFont)},
           {"GetThemeSysInt", Proc(&GetThemeSysInt)},
           {"GetThemeSysSize", Proc(&GetThemeSysSize)},
           {"GetThemeSysString", Proc(&GetThemeSysString)},
           {"GetThemeTextExtent", Proc(&GetThemeTextExtent)},
           {"GetThemeTextMetrics", Proc(&GetThemeTextMetrics)},
           {"GetWindowTheme", Proc(&GetWindowTheme)},
           {"HitTestThemeBackground", Proc(&HitTestThemeBackground)},
           {"IsAppThemed", Proc(&IsAppThemed)},
           {"IsThemeActive", Proc(&IsThemeActive)},
           {"IsThemePartDefined", Proc(&IsThemePartDefined)},
           {"IsThemeBackgroundPartiallyTransparent", Proc(&IsThemeBackgroundPartiallyTransparent)},
           {"IsThemeDialogTextureEnabled", Proc(&IsThemeDialogTextureEnabled)},
           {"OpenThemeData", Proc(&OpenThemeData)},
           {"OpenThemeDataEx", Proc(&OpenThemeDataEx)},
           {"SetThemeAppProperties", Proc(&SetThemeAppProperties)},
           {"SetWindowTheme", Proc(&SetWindowTheme)},
           // Buffered painting is reached only on glass, and composition is off.
       }},
      {"dwmapi",
       false,
       {
           {"DwmDefWindowProc", Proc(&DwmDefWindowProc)},
           {"DwmEnableBlurBehindWindow", Proc(&DwmEnableBlurBehindWindow)},
           {"DwmEnableComposition", Proc(&DwmEnableComposition)},
           {"DwmEnableMMCSS", Proc(&DwmEnableMMCSS)},
           {"DwmExtendFrameIntoClientArea", Proc(&DwmExtendFrameIntoClientArea)},
           {"DwmGetColorizationColor", Proc(&DwmGetColorizationColor)},
           {"DwmGetWindowAttribute", Proc(&DwmGetWindowAttribute)},
           {"DwmIsCompositionEnabled", Proc(&DwmIsCompositionEnabled)},
           {"DwmSetWindowAttribute", Proc(&DwmSetWindowAttribute)},
       }},
      {"gdiplus",
       false,
       {
           {"GdipAlloc", Proc(&gp::GdipAlloc)},
           {"GdipFree", Proc(&gp::GdipFree)},
           {"GdiplusStartup", Proc(&gp::GdiplusStartup)},
           {"GdiplusShutdown", Proc(&gp::GdiplusShutdown)},
           {"GdipCloneBrush", Proc(&gp::GdipCloneBrush)},
           {"GdipDeleteBrush", Proc(&gp::GdipDeleteBrush)},
           {"GdipGetBrushType", Proc(&gp::GdipGetBrushType)},
           {"GdipCreateSolidFill", Proc(&gp::GdipCreateSolidFill)},
           {"GdipSetSolidFillColor", Proc(&gp::GdipSetSolidFillColor)},
           {"GdipGetSolidFillColor", Proc(&gp::GdipGetSolidFillColor)},
           {"GdipCreateLineBrushFromRect", Proc(&gp::GdipCreateLineBrushFromRect)},
           {"GdipCreateLineBrushFromRectI", Proc(&gp::GdipCreateLineBrushFromRectI)},
           {"GdipCreateLineBrushI", Proc(&gp::GdipCreateLineBrushI)},
           {"GdipGetLineRectI", Proc(&gp::GdipGetLineRectI)},
           {"GdipSetLineColors", Proc(&gp::GdipSetLineColors)},
           {"GdipGetLineColors", Proc(&gp::GdipGetLineColors)},
           {"GdipSetLineWrapMode", Proc(&gp::GdipSetLineWrapMode)},
           {"GdipGetLineWrapMode", Proc(&gp::GdipGetLineWrapMode)},
           {"GdipCreateHatchBrush", Proc(&gp::GdipCreateHatchBrush)},
           {"GdipGetHatchStyle", Proc(&gp::GdipGetHatchStyle)},
           {"GdipGetHatchForegroundColor", Proc(&gp::GdipGetHatchForegroundColor)},
           {"GdipGetHatchBackgroundColor", Proc(&gp::GdipGetHatchBackgroundColor)},
           {"GdipCreateTexture", Proc(&gp::GdipCreateTexture)},
           {"GdipCreateTexture2I", Proc(&gp::GdipCreateTexture2I)},
           {"GdipCreatePen1", Proc(&gp::GdipCreatePen1)},
           {"GdipCreatePen2", Proc(&gp::GdipCreatePen2)},
           {"GdipClonePen", Proc(&gp::GdipClonePen)},
           {"GdipDeletePen", Proc(&gp::GdipDeletePen)},
           {"GdipGetPenFillType", Proc(&gp::GdipGetPenFillType)},
           {"GdipSetPenBrushFill", Proc(&gp::GdipSetPenBrushFill)},
           {"GdipGetPenBrushFill", Proc(&gp::GdipGetPenBrushFill)},
           {"GdipSetPenColor", Proc(&gp::GdipSetPenColor)},
           {"GdipGetPenColor", Proc(&gp::GdipGetPenColor)},
           {"GdipSetPenMode", Proc(&gp::GdipSetPenMode)},
           {"GdipGetPenMode", Proc(&gp::GdipGetPenMode)},
           {"GdipSetPenWidth", Proc(&gp::GdipSetPenWidth)},
           {"GdipGetPenWidth", Proc(&gp::GdipGetPenWidth)},
           {"GdipCreateFromHDC", Proc(&gp::GdipCreateFromHDC)},
           {"GdipDeleteGraphics", Proc(&gp::GdipDeleteGraphics)},
           {"GdipGetDC", Proc(&gp::GdipGetDC)},
           {"GdipReleaseDC", Proc(&gp::GdipReleaseDC)},
           {"GdipGraphicsClear", Proc(&gp::GdipGraphicsClear)},
           {"GdipDrawLineI", Proc(&gp::GdipDrawLineI)},
           {"GdipFillRectangleI", Proc(&gp::GdipFillRectangleI)},
           {"GdipFillRectangle", Proc(&gp::GdipFillRectangle)},
           {"GdipDrawArcI", Proc(&gp::GdipDrawArcI)},
           {"GdipDrawBezierI", Proc(&gp::GdipDrawBezierI)},
           {"GdipDrawRectangleI", Proc(&gp::GdipDrawRectangleI)},
           {"GdipDrawEllipseI", Proc(&gp::GdipDrawEllipseI)},
           {"GdipDrawPieI", Proc(&gp::GdipDrawPieI)},
           {"GdipDrawPolygonI", Proc(&gp::GdipDrawPolygonI)},
           {"GdipDrawCurve2I", Proc(&gp::GdipDrawCurve2I)},
           {"GdipDrawClosedCurve2I", Proc(&gp::GdipDrawClosedCurve2I)},
           {"GdipFillPolygonI", Proc(&gp::GdipFillPolygonI)},
           {"GdipFillEllipseI", Proc(&gp::GdipFillEllipseI)},
           {"GdipFillPieI", Proc(&gp::GdipFillPieI)},
           {"GdipFillClosedCurveI", Proc(&gp::GdipFillClosedCurveI)},
           {"GdipLoadImageFromStream", Proc(&gp::GdipLoadImageFromStream)},
           {"GdipCreateBitmapFromFile", Proc(&gp::GdipCreateBitmapFromFile)},
           {"GdipCreateBitmapFromStream", Proc(&gp::GdipCreateBitmapFromStream)},
           {"GdipCreateBitmapFromStreamICM", Proc(&gp::GdipCreateBitmapFromStreamICM)},
           {"GdipCreateHBITMAPFromBitmap", Proc(&gp::GdipCreateHBITMAPFromBitmap)},
           {"GdipLoadImageFromFile", Proc(&gp::GdipLoadImageFromFile)},
           {"GdipGetImageDimension", Proc(&gp::GdipGetImageDimension)},
           {"GdipGetImagePixelFormat", Proc(&gp::GdipGetImagePixelFormat)},
           {"GdipDrawImageRectI", Proc(&gp::GdipDrawImageRectI)},
           {"GdipDisposeImage", Proc(&gp::GdipDisposeImage)},
           {"GdipGetImageEncodersSize", Proc(&gp::GdipGetImageEncodersSize)},
           {"GdipGetImageEncoders", Proc(&gp::GdipGetImageEncoders)},
           {"GdipSaveImageToStream", Proc(&gp::GdipSaveImageToStream)},
           {"GdipCreateBitmapFromHBITMAP", Proc(&gp::GdipCreateBitmapFromHBITMAP)},
           {"GdipIsVisibleRect", Proc(&gp::GdipIsVisibleRect)},
           {"GdipIsVisibleRectI", Proc(&gp::GdipIsVisibleRectI)},
           {"GdipGetEncoderParameterListSize", Proc(&gp::GdipGetEncoderParameterListSize)},
           {"GdipGetEncoderParameterList", Proc(&gp::GdipGetEncoderParameterList)},
           {"GdipCreateBitmapFromGdiDib", Proc(&gp::GdipCreateBitmapFromGdiDib)},
           {"GdipCreateBitmapFromScan0", Proc(&gp::GdipCreateBitmapFromScan0)},
           {"GdipBitmapLockBits", Proc(&gp::GdipBitmapLockBits)},
           {"GdipBitmapUnlockBits", Proc(&gp::GdipBitmapUnlockBits)},
           {"GdipBitmapGetPixel", Proc(&gp::GdipBitmapGetPixel)},
           {"GdipBitmapSetPixel", Proc(&gp::GdipBitmapSetPixel)},
           {"GdipDrawImageRectRectI", Proc(&gp::GdipDrawImageRectRectI)},
           {"GdipDrawImageRectRect", Proc(&gp::GdipDrawImageRectRect)},
           {"GdipDrawImagePointRect", Proc(&gp::GdipDrawImagePointRect)},
           {"GdipCloneImage", Proc(&gp::GdipCloneImage)},
           {"GdipCreateImageAttributes", Proc(&gp::GdipCreateImageAttributes)},
           {"GdipDisposeImageAttributes", Proc(&gp::GdipDisposeImageAttributes)},
           {"GdipSetImageAttributesColorMatrix", Proc(&gp::GdipSetImageAttributesColorMatrix)},
           {"GdipSetInterpolationMode", Proc(&gp::GdipSetInterpolationMode)},
           {"GdipGetInterpolationMode", Proc(&gp::GdipGetInterpolationMode)},
           {"GdipCreateCachedBitmap", Proc(&gp::GdipCreateCachedBitmap)},
           {"GdipDeleteCachedBitmap", Proc(&gp::GdipDeleteCachedBitmap)},
           {"GdipDrawCachedBitmap", Proc(&gp::GdipDrawCachedBitmap)},
           {"GdipCreateBitmapFromGraphics", Proc(&gp::GdipCreateBitmapFromGraphics)},
           {"GdipGetImageGraphicsContext", Proc(&gp::GdipGetImageGraphicsContext)},
           {"GdipGetImageWidth", Proc(&gp::GdipGetImageWidth)},
           {"GdipGetImageHeight", Proc(&gp::GdipGetImageHeight)},
           {"GdipSetCompositingMode", Proc(&gp::GdipSetCompositingMode)},
           {"GdipGetCompositingMode", Proc(&gp::GdipGetCompositingMode)},
           {"GdipSetCompositingQuality", Proc(&gp::GdipSetCompositingQuality)},
           {"GdipGetCompositingQuality", Proc(&gp::GdipGetCompositingQuality)},
           {"GdipSetSmoothingMode", Proc(&gp::GdipSetSmoothingMode)},
           {"GdipGetSmoothingMode", Proc(&gp::GdipGetSmoothingMode)},
           {"GdipSetPixelOffsetMode", Proc(&gp::GdipSetPixelOffsetMode)},
           {"GdipGetPixelOffsetMode", Proc(&gp::GdipGetPixelOffsetMode)},
           {"GdipCloneBitmapAreaI", Proc(&gp::GdipCloneBitmapAreaI)},
       }},
      // Accessibility (oleacc: AccessibleObjectFromWindow, LresultFromObject)
      // and TaskDialogIndirect are not in platform/win: oleacc does not load
      // and comctl32 has no TaskDialogIndirect.
      {"oleacc", false, {}},
  };
  return table;
}

std::mutex& TableLock() {
  static std::mutex m;
  return m;
}

std::atomic<UINT> ErrorMode{0};

// "C:\Windows\System32\UxTheme.dll" -> "uxtheme".
std::string BaseName(const std::u16string& path) {
  size_t start = path.find_last_of(u"\\/");
  start = start == std::u16string::npos ? 0 : start + 1;
  std::string name;
  for (size_t i = start; i < path.size(); ++i) {
    char16_t c = path[i];
    if (c >= u'A' && c <= u'Z') c = char16_t(c - u'A' + u'a');
    if (c > 0x7F) return std::string();  // no library of ours has such a name
    name.push_back(char(c));
  }
  if (name.size() > 4 && name.compare(name.size() - 4, 4, ".dll") == 0) name.resize(name.size() - 4);
  if (!name.empty() && name.back() == '.') name.pop_back();  // "name." means: no extension
  return name;
}

TLibrary* FindLibrary(const std::u16string& path) {
  std::string name = BaseName(path);
  if (name.empty()) return nullptr;
  for (TLibrary& lib : Libraries())
    if (name == lib.Name) return &lib;
  return nullptr;
}

TLibrary* LibraryOf(HMODULE h) {
  for (TLibrary& lib : Libraries())
    if (reinterpret_cast<HMODULE>(&lib) == h) return &lib;
  return nullptr;
}

bool Loadable(const TLibrary& lib) { return lib.AlwaysLoaded || (lib.Entries.size() > 0 && !lib.Hidden); }

std::u16string FromAnsi(LPCSTR s) {
  std::u16string r;
  for (; *s; ++s) r.push_back(char16_t(static_cast<unsigned char>(*s)));
  return r;
}

}  // namespace

HMODULE LoadLibraryW(LPCWSTR lpLibFileName) {
  if (!lpLibFileName) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  std::lock_guard<std::mutex> lock(TableLock());
  TLibrary* lib = FindLibrary(lpLibFileName);
  if (!lib || !Loadable(*lib)) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  ++lib->LoadCount;
  return reinterpret_cast<HMODULE>(lib);
}

HMODULE LoadLibraryA(LPCSTR lpLibFileName) {
  if (!lpLibFileName) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return LoadLibraryW(FromAnsi(lpLibFileName).c_str());
}

HMODULE LoadLibraryExW(LPCWSTR lpLibFileName, HANDLE, DWORD) { return LoadLibraryW(lpLibFileName); }

BOOL FreeLibrary(HMODULE hLibModule) {
  std::lock_guard<std::mutex> lock(TableLock());
  TLibrary* lib = LibraryOf(hLibModule);
  if (!lib || (lib->LoadCount == 0 && !lib->AlwaysLoaded)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (lib->LoadCount > 0) --lib->LoadCount;
  return TRUE;
}

FARPROC GetProcAddress(HMODULE hModule, LPCSTR lpProcName) {
  if (reinterpret_cast<uintptr_t>(lpProcName) < 0x10000) {
    SetLastError(ERROR_PROC_NOT_FOUND);
    return nullptr;
  }
  std::lock_guard<std::mutex> lock(TableLock());
  TLibrary* lib = LibraryOf(hModule);
  if (!lib) {
    SetLastError(hModule == HInstance ? ERROR_PROC_NOT_FOUND : ERROR_INVALID_HANDLE);
    return nullptr;
  }
  for (const TEntry& e : lib->Entries)
    if (std::strcmp(e.Name, lpProcName) == 0) return e.Proc;
  SetLastError(ERROR_PROC_NOT_FOUND);
  return nullptr;
}

HMODULE FindLoadedModule(LPCWSTR lpModuleName) {
  if (!lpModuleName) return HInstance;
  std::lock_guard<std::mutex> lock(TableLock());
  TLibrary* lib = FindLibrary(lpModuleName);
  if (!lib || !(lib->AlwaysLoaded || lib->LoadCount > 0)) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  return reinterpret_cast<HMODULE>(lib);
}

void SetLibraryHidden(LPCWSTR lpLibFileName, bool Hidden) {
  if (!lpLibFileName) return;
  std::lock_guard<std::mutex> lock(TableLock());
  if (TLibrary* lib = FindLibrary(lpLibFileName); lib && !lib->AlwaysLoaded) lib->Hidden = Hidden;
}

UINT SetErrorMode(UINT uMode) { return ErrorMode.exchange(uMode); }
UINT GetErrorMode() { return ErrorMode.load(); }

}  // namespace win
