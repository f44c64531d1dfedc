// Run-time binding: libraries and entry points answered by the table.
#include <gtest/gtest.h>

#include "platform/win/Dwmapi.h"
#include "platform/win/GdiPlus.h"
#include "platform/win/Modules.h"
#include "platform/win/UxTheme.h"

namespace {

using namespace win;

TEST(Modules, LibrariesLoadByNameInAnySpelling) {
  HMODULE a = LoadLibraryW(u"UxTheme.dll");
  ASSERT_NE(a, nullptr);
  HMODULE b = LoadLibraryW(u"C:\\Windows\\System32\\UXTHEME.DLL");
  HMODULE c = LoadLibraryA("uxtheme");
  EXPECT_EQ(a, b);
  EXPECT_EQ(a, c);
  EXPECT_EQ(FindLoadedModule(u"uxtheme.dll"), a);
  EXPECT_TRUE(FreeLibrary(a));
  EXPECT_TRUE(FreeLibrary(b));
  EXPECT_TRUE(FreeLibrary(c));
  // loaded no more
  SetLastError(0);
  EXPECT_EQ(FindLoadedModule(u"uxtheme.dll"), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_MOD_NOT_FOUND);
  EXPECT_EQ(GetModuleHandleW(u"uxtheme.dll"), nullptr);
  EXPECT_NE(GetModuleHandleW(nullptr), nullptr);
  EXPECT_FALSE(FreeLibrary(a));
}

TEST(Modules, MissingLibrariesAndEntryPointsAnswerNil) {
  for (const char16_t* name : {u"nosuch.dll", u"oleacc.dll", u"", u"uxtheme.dll.bak"}) {
    SetLastError(0);
    EXPECT_EQ(LoadLibraryW(name), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_MOD_NOT_FOUND);
  }
  EXPECT_EQ(LoadLibraryW(nullptr), nullptr);
  HMODULE comctl = FindLoadedModule(u"comctl32.dll");  // always loaded
  ASSERT_NE(comctl, nullptr);
  SetLastError(0);
  EXPECT_EQ(GetProcAddress(comctl, "TaskDialogIndirect"), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_PROC_NOT_FOUND);
  EXPECT_EQ(GetProcAddress(comctl, reinterpret_cast<LPCSTR>(uintptr_t(17))), nullptr);  // ordinals
  EXPECT_EQ(GetProcAddress(nullptr, "OpenThemeData"), nullptr);
  EXPECT_EQ(GetProcAddress(reinterpret_cast<HMODULE>(uintptr_t(0x1234)), "OpenThemeData"), nullptr);
  EXPECT_FALSE(FreeLibrary(reinterpret_cast<HMODULE>(uintptr_t(0x1234))));
}

TEST(Modules, AHiddenLibraryDoesNotLoadUntilShownAgain) {
  SetLibraryHidden(u"GdiPlus.dll", true);
  SetLastError(0);
  EXPECT_EQ(LoadLibraryW(u"gdiplus"), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_MOD_NOT_FOUND);
  SetLibraryHidden(u"user32", true);  // always loaded: not hidden
  EXPECT_NE(LoadLibraryW(u"user32.dll"), nullptr);
  SetLibraryHidden(u"gdiplus", false);
  HMODULE h = LoadLibraryW(u"gdiplus.dll");
  ASSERT_NE(h, nullptr);
  EXPECT_NE(GetProcAddress(h, "GdipAlloc"), nullptr);
  EXPECT_TRUE(FreeLibrary(h));
}

TEST(Modules, EntryPointsAreOurFunctions) {
  HMODULE ux = LoadLibraryW(u"uxtheme.dll");
  using TOpen = HTHEME (*)(HWND, LPCWSTR);
  auto open = reinterpret_cast<TOpen>(GetProcAddress(ux, "OpenThemeData"));
  ASSERT_EQ(open, &OpenThemeData);
  HTHEME h = open(nullptr, u"Button");
  EXPECT_NE(h, nullptr);
  CloseThemeData(h);
  // names are case-sensitive, as on the platform
  EXPECT_EQ(GetProcAddress(ux, "openthemedata"), nullptr);
  FreeLibrary(ux);

  HMODULE dwm = LoadLibraryW(u"dwmapi.dll");
  using TEnabled = HRESULT (*)(BOOL*);
  auto enabled = reinterpret_cast<TEnabled>(GetProcAddress(dwm, "DwmIsCompositionEnabled"));
  ASSERT_NE(enabled, nullptr);
  BOOL on = TRUE;
  EXPECT_EQ(enabled(&on), S_OK);
  EXPECT_FALSE(on);
  FreeLibrary(dwm);

  HMODULE user = FindLoadedModule(u"USER32");
  ASSERT_NE(user, nullptr);
  EXPECT_NE(GetProcAddress(user, "MonitorFromPoint"), nullptr);
  EXPECT_NE(GetProcAddress(user, "GetScrollBarInfo"), nullptr);
  HMODULE img = LoadLibraryW(u"msimg32.dll");
  EXPECT_NE(GetProcAddress(img, "GradientFill"), nullptr);
  FreeLibrary(img);
}

// Every name the library binds must be there: GDI+ counts as available only
// when all of them are found.
TEST(Modules, EveryBoundNameResolves) {
  struct TLib {
    const char16_t* Library;
    std::vector<const char*> Names;
  } libs[] = {
      {u"gdiplus.dll",
       {"GdipAlloc",
        "GdipFree",
        "GdiplusStartup",
        "GdiplusShutdown",
        "GdipCloneBrush",
        "GdipDeleteBrush",
        "GdipGetBrushType",
        "GdipCreateSolidFill",
        "GdipSetSolidFillColor",
        "GdipGetSolidFillColor",
        "GdipCreateLineBrushFromRectI",
        "GdipGetLineRectI",
        "GdipSetLineColors",
        "GdipGetLineColors",
        "GdipSetLineWrapMode",
        "GdipGetLineWrapMode",
        "GdipCreateHatchBrush",
        "GdipGetHatchStyle",
        "GdipGetHatchForegroundColor",
        "GdipGetHatchBackgroundColor",
        "GdipCreatePen1",
        "GdipCreatePen2",
        "GdipClonePen",
        "GdipDeletePen",
        "GdipGetPenFillType",
        "GdipSetPenBrushFill",
        "GdipGetPenBrushFill",
        "GdipSetPenColor",
        "GdipGetPenColor",
        "GdipSetPenMode",
        "GdipGetPenMode",
        "GdipSetPenWidth",
        "GdipGetPenWidth",
        "GdipCreateFromHDC",
        "GdipDeleteGraphics",
        "GdipGetDC",
        "GdipReleaseDC",
        "GdipGraphicsClear",
        "GdipDrawLineI",
        "GdipFillRectangleI",
        "GdipDrawArcI",
        "GdipDrawBezierI",
        "GdipDrawRectangleI",
        "GdipDrawEllipseI",
        "GdipDrawPieI",
        "GdipDrawPolygonI",
        "GdipDrawCurve2I",
        "GdipDrawClosedCurve2I",
        "GdipFillPolygonI",
        "GdipFillEllipseI",
        "GdipFillPieI",
        "GdipFillClosedCurveI",
        "GdipLoadImageFromStream",
        "GdipCreateBitmapFromFile",
        "GdipCreateBitmapFromStream",
        "GdipCreateBitmapFromStreamICM",
        "GdipCreateHBITMAPFromBitmap",
        "GdipLoadImageFromFile",
        "GdipGetImageDimension",
        "GdipDrawImageRectI",
        "GdipDisposeImage",
        "GdipGetImageEncodersSize",
        "GdipGetImageEncoders",
        "GdipSaveImageToStream",
        "GdipCreateBitmapFromHBITMAP",
        "GdipIsVisibleRect",
        "GdipIsVisibleRectI",
        "GdipGetEncoderParameterListSize",
        "GdipGetEncoderParameterList",
        "GdipCreateBitmapFromGdiDib",
        "GdipCreateBitmapFromScan0",
        "GdipBitmapLockBits",
        "GdipBitmapUnlockBits",
        "GdipDrawImageRectRectI",
        "GdipDrawImageRectRect",
        "GdipDrawImagePointRect",
        "GdipCloneImage",
        "GdipCreateTexture2I",
        "GdipCreateImageAttributes",
        "GdipDisposeImageAttributes",
        "GdipSetImageAttributesColorMatrix",
        "GdipSetInterpolationMode",
        "GdipGetInterpolationMode",
        "GdipCreateCachedBitmap",
        "GdipDeleteCachedBitmap",
        "GdipDrawCachedBitmap",
        "GdipCreateBitmapFromGraphics",
        "GdipGetImageGraphicsContext",
        "GdipGetImageWidth",
        "GdipGetImageHeight",
        "GdipSetCompositingMode",
        "GdipGetCompositingMode",
        "GdipSetCompositingQuality",
        "GdipGetCompositingQuality",
        "GdipSetSmoothingMode",
        "GdipGetSmoothingMode",
        "GdipCloneBitmapAreaI"}},
      {u"uxtheme.dll",
       {"CloseThemeData",
        "DrawThemeBackground",
        "DrawThemeEdge",
        "DrawThemeIcon",
        "DrawThemeParentBackground",
        "DrawThemeText",
        "DrawThemeTextEx",
        "EnableThemeDialogTexture",
        "GetCurrentThemeName",
        "GetThemeAppProperties",
        "GetThemeBackgroundContentRect",
        "GetThemeBackgroundRegion",
        "GetThemeBackgroundExtent",
        "GetThemeBool",
        "GetThemeColor",
        "GetThemeDocumentationProperty",
        "GetThemeEnumValue",
        "GetThemeFilename",
        "GetThemeFont",
        "GetThemeInt",
        "GetThemeIntList",
        "GetThemeMargins",
        "GetThemeMetric",
        "GetThemePartSize",
        "GetThemePosition",
        "GetThemePropertyOrigin",
        "GetThemeRect",
        "GetThemeString",
        "GetThemeSysBool",
        "GetThemeSysColor",
        "GetThemeSysColorBrush",
        "GetThemeSysFont",
        "GetThemeSysInt",
        "GetThemeSysSize",
        "GetThemeSysString",
        "GetThemeTextExtent",
        "GetThemeTextMetrics",
        "GetWindowTheme",
        "HitTestThemeBackground",
        "IsAppThemed",
        "IsThemeActive",
        "IsThemePartDefined",
        "IsThemeBackgroundPartiallyTransparent",
        "IsThemeDialogTextureEnabled",
        "OpenThemeData",
        "SetThemeAppProperties",
        "SetWindowTheme"}},
      {u"dwmapi.dll",
       {"DwmDefWindowProc", "DwmEnableBlurBehindWindow", "DwmEnableComposition", "DwmEnableMMCSS",
        "DwmExtendFrameIntoClientArea", "DwmGetColorizationColor", "DwmGetWindowAttribute",
        "DwmIsCompositionEnabled", "DwmSetWindowAttribute"}},
  };
  for (const TLib& lib : libs) {
    HMODULE h = LoadLibraryW(lib.Library);
    ASSERT_NE(h, nullptr);
    for (const char* name : lib.Names) EXPECT_NE(GetProcAddress(h, name), nullptr) << name;
    FreeLibrary(h);
  }
  // buffered painting is reached only on glass: not bound
  HMODULE ux = LoadLibraryW(u"uxtheme.dll");
  EXPECT_EQ(GetProcAddress(ux, "BeginBufferedPaint"), nullptr);
  FreeLibrary(ux);
}

TEST(Modules, ErrorModeIsKept) {
  UINT old = SetErrorMode(SEM_NOOPENFILEERRORBOX);
  EXPECT_EQ(GetErrorMode(), SEM_NOOPENFILEERRORBOX);
  EXPECT_EQ(SetErrorMode(old), SEM_NOOPENFILEERRORBOX);
}

}  // namespace
