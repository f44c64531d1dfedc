// The Win32-shaped graphics API (namespace win): device contexts, GDI
// objects, regions and clipping, drawing primitives, blits and raster
// operations, alpha blending and gradients, paths, bitmaps and DIB sections,
// palettes, the user32 drawing helpers (DrawEdge, DrawFocusRect,
// DrawFrameControl, FillRect...), icons, the image loaders (LoadBitmapW,
// LoadImageW, CopyImage) and the system colours.
//
// Names, structures, constants and values are the platform's. Text output and
// font metrics are declared in GdiText.h; image lists in ImageList.h; the
// BMP, PNG and JPEG codecs in ImageCodecs.h; system metrics in SysMetrics.h.
#pragma once

#include "platform/win/WinTypes.h"

namespace win {

// ---------------------------------------------------------------------------
// Structures

struct RGBQUAD {
  BYTE rgbBlue{};
  BYTE rgbGreen{};
  BYTE rgbRed{};
  BYTE rgbReserved{};
};
struct RGBTRIPLE {
  BYTE rgbtBlue{};
  BYTE rgbtGreen{};
  BYTE rgbtRed{};
};

struct BITMAP {
  LONG bmType{};
  LONG bmWidth{};
  LONG bmHeight{};
  LONG bmWidthBytes{};
  WORD bmPlanes{};
  WORD bmBitsPixel{};
  LPVOID bmBits{};
};

#pragma pack(push, 2)
struct BITMAPFILEHEADER {
  WORD bfType{};
  DWORD bfSize{};
  WORD bfReserved1{};
  WORD bfReserved2{};
  DWORD bfOffBits{};
};
#pragma pack(pop)
static_assert(sizeof(BITMAPFILEHEADER) == 14);

struct BITMAPCOREHEADER {
  DWORD bcSize{};
  WORD bcWidth{};
  WORD bcHeight{};
  WORD bcPlanes{};
  WORD bcBitCount{};
};

struct BITMAPINFOHEADER {
  DWORD biSize{};
  LONG biWidth{};
  LONG biHeight{};
  WORD biPlanes{};
  WORD biBitCount{};
  DWORD biCompression{};
  DWORD biSizeImage{};
  LONG biXPelsPerMeter{};
  LONG biYPelsPerMeter{};
  DWORD biClrUsed{};
  DWORD biClrImportant{};
};
static_assert(sizeof(BITMAPINFOHEADER) == 40);

struct BITMAPINFO {
  BITMAPINFOHEADER bmiHeader{};
  RGBQUAD bmiColors[1]{};
};

struct DIBSECTION {
  BITMAP dsBm{};
  BITMAPINFOHEADER dsBmih{};
  DWORD dsBitfields[3]{};
  HANDLE dshSection{};
  DWORD dsOffset{};
};

struct LOGPEN {
  UINT lopnStyle{};
  POINT lopnWidth{};
  COLORREF lopnColor{};
};
struct LOGBRUSH {
  UINT lbStyle{};
  COLORREF lbColor{};
  ULONG_PTR lbHatch{};
};
struct EXTLOGPEN {
  DWORD elpPenStyle{};
  DWORD elpWidth{};
  UINT elpBrushStyle{};
  COLORREF elpColor{};
  ULONG_PTR elpHatch{};
  DWORD elpNumEntries{};
  DWORD elpStyleEntry[1]{};
};

constexpr int LF_FACESIZE = 32;
struct LOGFONTW {
  LONG lfHeight{};
  LONG lfWidth{};
  LONG lfEscapement{};
  LONG lfOrientation{};
  LONG lfWeight{};
  BYTE lfItalic{};
  BYTE lfUnderline{};
  BYTE lfStrikeOut{};
  BYTE lfCharSet{};
  BYTE lfOutPrecision{};
  BYTE lfClipPrecision{};
  BYTE lfQuality{};
  BYTE lfPitchAndFamily{};
  WCHAR lfFaceName[LF_FACESIZE]{};
};
static_assert(sizeof(LOGFONTW) == 92);
using LOGFONT = LOGFONTW;

struct PALETTEENTRY {
  BYTE peRed{};
  BYTE peGreen{};
  BYTE peBlue{};
  BYTE peFlags{};
};
struct LOGPALETTE {
  WORD palVersion{};
  WORD palNumEntries{};
  PALETTEENTRY palPalEntry[1]{};
};

struct RGNDATAHEADER {
  DWORD dwSize{};
  DWORD iType{};
  DWORD nCount{};
  DWORD nRgnSize{};
  RECT rcBound{};
};
struct RGNDATA {
  RGNDATAHEADER rdh{};
  char Buffer[1]{};
};
constexpr DWORD RDH_RECTANGLES = 1;

struct XFORM {
  FLOAT eM11{}, eM12{}, eM21{}, eM22{}, eDx{}, eDy{};
};

struct BLENDFUNCTION {
  BYTE BlendOp{};
  BYTE BlendFlags{};
  BYTE SourceConstantAlpha{};
  BYTE AlphaFormat{};
};
struct TRIVERTEX {
  LONG x{};
  LONG y{};
  COLOR16 Red{};
  COLOR16 Green{};
  COLOR16 Blue{};
  COLOR16 Alpha{};
};
struct GRADIENT_RECT {
  ULONG UpperLeft{};
  ULONG LowerRight{};
};
struct GRADIENT_TRIANGLE {
  ULONG Vertex1{};
  ULONG Vertex2{};
  ULONG Vertex3{};
};

struct ICONINFO {
  BOOL fIcon{};
  DWORD xHotspot{};
  DWORD yHotspot{};
  HBITMAP hbmMask{};
  HBITMAP hbmColor{};
};

// ---------------------------------------------------------------------------
// Constants

// GetObjectType
constexpr DWORD OBJ_PEN = 1, OBJ_BRUSH = 2, OBJ_DC = 3, OBJ_METADC = 4, OBJ_PAL = 5, OBJ_FONT = 6,
                OBJ_BITMAP = 7, OBJ_REGION = 8, OBJ_METAFILE = 9, OBJ_MEMDC = 10, OBJ_EXTPEN = 11,
                OBJ_ENHMETADC = 12, OBJ_ENHMETAFILE = 13, OBJ_COLORSPACE = 14;

// Stock objects
constexpr int WHITE_BRUSH = 0, LTGRAY_BRUSH = 1, GRAY_BRUSH = 2, DKGRAY_BRUSH = 3, BLACK_BRUSH = 4,
              NULL_BRUSH = 5, HOLLOW_BRUSH = NULL_BRUSH, WHITE_PEN = 6, BLACK_PEN = 7, NULL_PEN = 8,
              OEM_FIXED_FONT = 10, ANSI_FIXED_FONT = 11, ANSI_VAR_FONT = 12, SYSTEM_FONT = 13,
              DEVICE_DEFAULT_FONT = 14, DEFAULT_PALETTE = 15, SYSTEM_FIXED_FONT = 16, DEFAULT_GUI_FONT = 17,
              DC_BRUSH = 18, DC_PEN = 19;

// Pen styles
constexpr DWORD PS_SOLID = 0, PS_DASH = 1, PS_DOT = 2, PS_DASHDOT = 3, PS_DASHDOTDOT = 4, PS_NULL = 5,
                PS_INSIDEFRAME = 6, PS_USERSTYLE = 7, PS_ALTERNATE = 8, PS_STYLE_MASK = 0x0000000F;
constexpr DWORD PS_ENDCAP_ROUND = 0x00000000, PS_ENDCAP_SQUARE = 0x00000100, PS_ENDCAP_FLAT = 0x00000200,
                PS_ENDCAP_MASK = 0x00000F00;
constexpr DWORD PS_JOIN_ROUND = 0x00000000, PS_JOIN_BEVEL = 0x00001000, PS_JOIN_MITER = 0x00002000,
                PS_JOIN_MASK = 0x0000F000;
constexpr DWORD PS_COSMETIC = 0x00000000, PS_GEOMETRIC = 0x00010000, PS_TYPE_MASK = 0x000F0000;

// Brush styles and hatches
constexpr UINT BS_SOLID = 0, BS_NULL = 1, BS_HOLLOW = BS_NULL, BS_HATCHED = 2, BS_PATTERN = 3,
               BS_INDEXED = 4, BS_DIBPATTERN = 5, BS_DIBPATTERNPT = 6, BS_PATTERN8X8 = 7,
               BS_DIBPATTERN8X8 = 8;
constexpr int HS_HORIZONTAL = 0, HS_VERTICAL = 1, HS_FDIAGONAL = 2, HS_BDIAGONAL = 3, HS_CROSS = 4,
              HS_DIAGCROSS = 5;
constexpr UINT DIB_RGB_COLORS = 0, DIB_PAL_COLORS = 1;

// Background modes, ROP2 mixes, fill modes, stretch modes, arc directions
constexpr int TRANSPARENT = 1, OPAQUE = 2;
constexpr int R2_BLACK = 1, R2_NOTMERGEPEN = 2, R2_MASKNOTPEN = 3, R2_NOTCOPYPEN = 4, R2_MASKPENNOT = 5,
              R2_NOT = 6, R2_XORPEN = 7, R2_NOTMASKPEN = 8, R2_MASKPEN = 9, R2_NOTXORPEN = 10, R2_NOP = 11,
              R2_MERGENOTPEN = 12, R2_COPYPEN = 13, R2_MERGEPENNOT = 14, R2_MERGEPEN = 15, R2_WHITE = 16;
constexpr int ALTERNATE = 1, WINDING = 2;
constexpr int BLACKONWHITE = 1, WHITEONBLACK = 2, COLORONCOLOR = 3, HALFTONE = 4,
              STRETCH_ANDSCANS = BLACKONWHITE, STRETCH_ORSCANS = WHITEONBLACK,
              STRETCH_DELETESCANS = COLORONCOLOR, STRETCH_HALFTONE = HALFTONE;
constexpr int AD_COUNTERCLOCKWISE = 1, AD_CLOCKWISE = 2;
constexpr int MM_TEXT = 1;
constexpr int GM_COMPATIBLE = 1, GM_ADVANCED = 2;

// Text alignment (storage here; text output in GdiText.cpp)
constexpr UINT TA_NOUPDATECP = 0, TA_UPDATECP = 1, TA_LEFT = 0, TA_RIGHT = 2, TA_CENTER = 6, TA_TOP = 0,
               TA_BOTTOM = 8, TA_BASELINE = 24, TA_RTLREADING = 256;
constexpr UINT GDI_ERROR = 0xFFFFFFFFu;

// Ternary raster operations
constexpr DWORD SRCCOPY = 0x00CC0020, SRCPAINT = 0x00EE0086, SRCAND = 0x008800C6, SRCINVERT = 0x00660046,
                SRCERASE = 0x00440328, NOTSRCCOPY = 0x00330008, NOTSRCERASE = 0x001100A6,
                MERGECOPY = 0x00C000CA, MERGEPAINT = 0x00BB0226, PATCOPY = 0x00F00021, PATPAINT = 0x00FB0A09,
                PATINVERT = 0x005A0049, DSTINVERT = 0x00550009, BLACKNESS = 0x00000042,
                WHITENESS = 0x00FF0062, NOMIRRORBITMAP = 0x80000000, CAPTUREBLT = 0x40000000;
constexpr DWORD MAKEROP4(DWORD fore, DWORD back) { return ((back << 8) & 0xFF000000u) | fore; }

// Regions
constexpr int ERROR = 0, NULLREGION = 1, SIMPLEREGION = 2, COMPLEXREGION = 3, RGN_ERROR = ERROR;
constexpr int RGN_AND = 1, RGN_OR = 2, RGN_XOR = 3, RGN_DIFF = 4, RGN_COPY = 5;

// Device capabilities
constexpr int DRIVERVERSION = 0, TECHNOLOGY = 2, HORZSIZE = 4, VERTSIZE = 6, HORZRES = 8, VERTRES = 10,
              BITSPIXEL = 12, PLANES = 14, NUMBRUSHES = 16, NUMPENS = 18, NUMFONTS = 22, NUMCOLORS = 24,
              RASTERCAPS = 38, ASPECTX = 40, ASPECTY = 42, ASPECTXY = 44, LOGPIXELSX = 88, LOGPIXELSY = 90,
              SIZEPALETTE = 104, NUMRESERVED = 106, COLORRES = 108, SHADEBLENDCAPS = 120;
constexpr int DT_RASDISPLAY = 1;
constexpr int RC_BITBLT = 1, RC_BANDING = 2, RC_SCALING = 4, RC_BITMAP64 = 8, RC_GDI20_OUTPUT = 0x0010,
              RC_DI_BITMAP = 0x0080, RC_PALETTE = 0x0100, RC_DIBTODEV = 0x0200, RC_STRETCHBLT = 0x0800,
              RC_FLOODFILL = 0x1000, RC_STRETCHDIB = 0x2000;

// DIB compressions
constexpr DWORD BI_RGB = 0, BI_RLE8 = 1, BI_RLE4 = 2, BI_BITFIELDS = 3, BI_JPEG = 4, BI_PNG = 5;

// AlphaBlend and GradientFill
constexpr BYTE AC_SRC_OVER = 0x00, AC_SRC_ALPHA = 0x01;
constexpr ULONG GRADIENT_FILL_RECT_H = 0x00, GRADIENT_FILL_RECT_V = 0x01, GRADIENT_FILL_TRIANGLE = 0x02;

// Region data of GetClipRgn/GetRandomRgn
constexpr int SYSRGN = 4;

// DrawIconEx
constexpr UINT DI_MASK = 0x0001, DI_IMAGE = 0x0002, DI_NORMAL = 0x0003, DI_COMPAT = 0x0004,
               DI_DEFAULTSIZE = 0x0008, DI_NOMIRROR = 0x0010;

// DrawEdge
constexpr UINT BDR_RAISEDOUTER = 0x0001, BDR_SUNKENOUTER = 0x0002, BDR_RAISEDINNER = 0x0004,
               BDR_SUNKENINNER = 0x0008, BDR_OUTER = 0x0003, BDR_INNER = 0x000C, BDR_RAISED = 0x0005,
               BDR_SUNKEN = 0x000A;
constexpr UINT EDGE_RAISED = BDR_RAISEDOUTER | BDR_RAISEDINNER, EDGE_SUNKEN = BDR_SUNKENOUTER | BDR_SUNKENINNER,
               EDGE_ETCHED = BDR_SUNKENOUTER | BDR_RAISEDINNER, EDGE_BUMP = BDR_RAISEDOUTER | BDR_SUNKENINNER;
constexpr UINT BF_LEFT = 0x0001, BF_TOP = 0x0002, BF_RIGHT = 0x0004, BF_BOTTOM = 0x0008,
               BF_TOPLEFT = BF_TOP | BF_LEFT, BF_TOPRIGHT = BF_TOP | BF_RIGHT,
               BF_BOTTOMLEFT = BF_BOTTOM | BF_LEFT, BF_BOTTOMRIGHT = BF_BOTTOM | BF_RIGHT,
               BF_RECT = BF_LEFT | BF_TOP | BF_RIGHT | BF_BOTTOM, BF_DIAGONAL = 0x0010,
               BF_DIAGONAL_ENDTOPRIGHT = BF_DIAGONAL | BF_TOP | BF_RIGHT,
               BF_DIAGONAL_ENDTOPLEFT = BF_DIAGONAL | BF_TOP | BF_LEFT,
               BF_DIAGONAL_ENDBOTTOMLEFT = BF_DIAGONAL | BF_BOTTOM | BF_LEFT,
               BF_DIAGONAL_ENDBOTTOMRIGHT = BF_DIAGONAL | BF_BOTTOM | BF_RIGHT, BF_MIDDLE = 0x0800,
               BF_SOFT = 0x1000, BF_ADJUST = 0x2000, BF_FLAT = 0x4000, BF_MONO = 0x8000;

// DrawFrameControl
constexpr UINT DFC_CAPTION = 1, DFC_MENU = 2, DFC_SCROLL = 3, DFC_BUTTON = 4, DFC_POPUPMENU = 5;
constexpr UINT DFCS_CAPTIONCLOSE = 0x0000, DFCS_CAPTIONMIN = 0x0001, DFCS_CAPTIONMAX = 0x0002,
               DFCS_CAPTIONRESTORE = 0x0003, DFCS_CAPTIONHELP = 0x0004;
constexpr UINT DFCS_MENUARROW = 0x0000, DFCS_MENUCHECK = 0x0001, DFCS_MENUBULLET = 0x0002,
               DFCS_MENUARROWRIGHT = 0x0004;
constexpr UINT DFCS_SCROLLUP = 0x0000, DFCS_SCROLLDOWN = 0x0001, DFCS_SCROLLLEFT = 0x0002,
               DFCS_SCROLLRIGHT = 0x0003, DFCS_SCROLLCOMBOBOX = 0x0005, DFCS_SCROLLSIZEGRIP = 0x0008,
               DFCS_SCROLLSIZEGRIPRIGHT = 0x0010;
constexpr UINT DFCS_BUTTONCHECK = 0x0000, DFCS_BUTTONRADIOIMAGE = 0x0001, DFCS_BUTTONRADIOMASK = 0x0002,
               DFCS_BUTTONRADIO = 0x0004, DFCS_BUTTON3STATE = 0x0008, DFCS_BUTTONPUSH = 0x0010;
constexpr UINT DFCS_INACTIVE = 0x0100, DFCS_PUSHED = 0x0200, DFCS_CHECKED = 0x0400, DFCS_TRANSPARENT = 0x0800,
               DFCS_HOT = 0x1000, DFCS_ADJUSTRECT = 0x2000, DFCS_FLAT = 0x4000, DFCS_MONO = 0x8000;

// System colours (GetSysColor indexes)
constexpr int COLOR_SCROLLBAR = 0, COLOR_BACKGROUND = 1, COLOR_DESKTOP = COLOR_BACKGROUND,
              COLOR_ACTIVECAPTION = 2, COLOR_INACTIVECAPTION = 3, COLOR_MENU = 4, COLOR_WINDOW = 5,
              COLOR_WINDOWFRAME = 6, COLOR_MENUTEXT = 7, COLOR_WINDOWTEXT = 8, COLOR_CAPTIONTEXT = 9,
              COLOR_ACTIVEBORDER = 10, COLOR_INACTIVEBORDER = 11, COLOR_APPWORKSPACE = 12,
              COLOR_HIGHLIGHT = 13, COLOR_HIGHLIGHTTEXT = 14, COLOR_BTNFACE = 15, COLOR_3DFACE = COLOR_BTNFACE,
              COLOR_BTNSHADOW = 16, COLOR_3DSHADOW = COLOR_BTNSHADOW, COLOR_GRAYTEXT = 17, COLOR_BTNTEXT = 18,
              COLOR_INACTIVECAPTIONTEXT = 19, COLOR_BTNHIGHLIGHT = 20, COLOR_3DHIGHLIGHT = COLOR_BTNHIGHLIGHT,
              COLOR_3DHILIGHT = COLOR_BTNHIGHLIGHT, COLOR_BTNHILIGHT = COLOR_BTNHIGHLIGHT,
              COLOR_3DDKSHADOW = 21, COLOR_3DLIGHT = 22, COLOR_INFOTEXT = 23, COLOR_INFOBK = 24,
              COLOR_HOTLIGHT = 26, COLOR_GRADIENTACTIVECAPTION = 27, COLOR_GRADIENTINACTIVECAPTION = 28,
              COLOR_MENUHILIGHT = 29, COLOR_MENUBAR = 30;

// ---------------------------------------------------------------------------
// Rectangle helpers (user32)

BOOL SetRect(LPRECT lprc, int xLeft, int yTop, int xRight, int yBottom);
BOOL SetRectEmpty(LPRECT lprc);
BOOL CopyRect(LPRECT lprcDst, const RECT* lprcSrc);
BOOL InflateRect(LPRECT lprc, int dx, int dy);
BOOL OffsetRect(LPRECT lprc, int dx, int dy);
BOOL IntersectRect(LPRECT lprcDst, const RECT* lprcSrc1, const RECT* lprcSrc2);
BOOL UnionRect(LPRECT lprcDst, const RECT* lprcSrc1, const RECT* lprcSrc2);
BOOL SubtractRect(LPRECT lprcDst, const RECT* lprcSrc1, const RECT* lprcSrc2);
BOOL EqualRect(const RECT* lprc1, const RECT* lprc2);
BOOL IsRectEmpty(const RECT* lprc);
BOOL PtInRect(const RECT* lprc, POINT pt);

// ---------------------------------------------------------------------------
// Device contexts and their state

HDC CreateCompatibleDC(HDC hdc);
BOOL DeleteDC(HDC hdc);
// The screen DC: GetDC(nullptr). GetDC and ReleaseDC on windows belong to the
// window layer, which reaches the DC machinery through GdiInternal.h.
HDC GetDC(HWND hWnd);
int ReleaseDC(HWND hWnd, HDC hDC);
int SaveDC(HDC hdc);
BOOL RestoreDC(HDC hdc, int nSavedDC);
int GetDeviceCaps(HDC hdc, int index);
COLORREF GetNearestColor(HDC hdc, COLORREF color);
BOOL GdiFlush();

BOOL SetWindowOrgEx(HDC hdc, int x, int y, LPPOINT lppt);
BOOL GetWindowOrgEx(HDC hdc, LPPOINT lppoint);
BOOL OffsetWindowOrgEx(HDC hdc, int x, int y, LPPOINT lppt);
BOOL SetViewportOrgEx(HDC hdc, int x, int y, LPPOINT lppt);
BOOL GetViewportOrgEx(HDC hdc, LPPOINT lppoint);
BOOL OffsetViewportOrgEx(HDC hdc, int x, int y, LPPOINT lppt);
BOOL GetDCOrgEx(HDC hdc, LPPOINT lppt);
BOOL LPtoDP(HDC hdc, LPPOINT lppt, int c);
BOOL DPtoLP(HDC hdc, LPPOINT lppt, int c);
int SetMapMode(HDC hdc, int iMode);
int GetMapMode(HDC hdc);
int SetGraphicsMode(HDC hdc, int iMode);
int GetGraphicsMode(HDC hdc);
BOOL SetBrushOrgEx(HDC hdc, int x, int y, LPPOINT lppt);
BOOL GetBrushOrgEx(HDC hdc, LPPOINT lppt);

int SetROP2(HDC hdc, int rop2);
int GetROP2(HDC hdc);
int SetBkMode(HDC hdc, int mode);
int GetBkMode(HDC hdc);
COLORREF SetBkColor(HDC hdc, COLORREF color);
COLORREF GetBkColor(HDC hdc);
COLORREF SetTextColor(HDC hdc, COLORREF color);
COLORREF GetTextColor(HDC hdc);
UINT SetTextAlign(HDC hdc, UINT align);
UINT GetTextAlign(HDC hdc);
int SetStretchBltMode(HDC hdc, int mode);
int GetStretchBltMode(HDC hdc);
int SetPolyFillMode(HDC hdc, int mode);
int GetPolyFillMode(HDC hdc);
int SetArcDirection(HDC hdc, int dir);
int GetArcDirection(HDC hdc);
COLORREF SetDCBrushColor(HDC hdc, COLORREF color);
COLORREF GetDCBrushColor(HDC hdc);
COLORREF SetDCPenColor(HDC hdc, COLORREF color);
COLORREF GetDCPenColor(HDC hdc);
BOOL GetCurrentPositionEx(HDC hdc, LPPOINT lppt);

// ---------------------------------------------------------------------------
// GDI objects

HPEN CreatePen(int iStyle, int cWidth, COLORREF color);
HPEN CreatePenIndirect(const LOGPEN* plpen);
HPEN ExtCreatePen(DWORD iPenStyle, DWORD cWidth, const LOGBRUSH* plbrush, DWORD cStyle, const DWORD* pstyle);
HBRUSH CreateSolidBrush(COLORREF color);
HBRUSH CreateHatchBrush(int iHatch, COLORREF color);
HBRUSH CreatePatternBrush(HBITMAP hbm);
HBRUSH CreateBrushIndirect(const LOGBRUSH* plbrush);
HBRUSH CreateDIBPatternBrushPt(const void* lpPackedDIB, UINT iUsage);
HFONT CreateFontIndirectW(const LOGFONTW* lplf);
HFONT CreateFontW(int cHeight, int cWidth, int cEscapement, int cOrientation, int cWeight, DWORD bItalic,
                  DWORD bUnderline, DWORD bStrikeOut, DWORD iCharSet, DWORD iOutPrecision, DWORD iClipPrecision,
                  DWORD iQuality, DWORD iPitchAndFamily, LPCWSTR pszFaceName);
inline HFONT CreateFontIndirect(const LOGFONTW* lplf) { return CreateFontIndirectW(lplf); }
HGDIOBJ GetStockObject(int i);
int GetObjectW(HANDLE h, int c, LPVOID pv);
inline int GetObject(HANDLE h, int c, LPVOID pv) { return GetObjectW(h, c, pv); }
DWORD GetObjectType(HGDIOBJ h);
HGDIOBJ GetCurrentObject(HDC hdc, UINT type);
HGDIOBJ SelectObject(HDC hdc, HGDIOBJ h);
BOOL DeleteObject(HGDIOBJ ho);
BOOL UnrealizeObject(HGDIOBJ h);

// System colours: one fixed table of the platform's default colours.
DWORD GetSysColor(int nIndex);
HBRUSH GetSysColorBrush(int nIndex);
// Sets system colours (indexes 0-30; others are skipped) for the process,
// the colour brushes included, then sends WM_SYSCOLORCHANGE to every
// top-level window.
BOOL SetSysColors(int cElements, const INT* lpaElements, const COLORREF* lpaRgbValues);

// ---------------------------------------------------------------------------
// Regions and clipping

HRGN CreateRectRgn(int x1, int y1, int x2, int y2);
HRGN CreateRectRgnIndirect(const RECT* lprect);
HRGN CreateRoundRectRgn(int x1, int y1, int x2, int y2, int w, int h);
HRGN CreateEllipticRgn(int x1, int y1, int x2, int y2);
HRGN CreateEllipticRgnIndirect(const RECT* lprect);
HRGN CreatePolygonRgn(const POINT* pptl, int cPoint, int iMode);
HRGN CreatePolyPolygonRgn(const POINT* pptl, const INT* pc, int cPoly, int iMode);
int CombineRgn(HRGN hrgnDst, HRGN hrgnSrc1, HRGN hrgnSrc2, int iMode);
int OffsetRgn(HRGN hrgn, int x, int y);
BOOL EqualRgn(HRGN hrgn1, HRGN hrgn2);
BOOL PtInRegion(HRGN hrgn, int x, int y);
BOOL RectInRegion(HRGN hrgn, const RECT* lprect);
int GetRgnBox(HRGN hrgn, LPRECT lprc);
BOOL SetRectRgn(HRGN hrgn, int left, int top, int right, int bottom);
DWORD GetRegionData(HRGN hrgn, DWORD nCount, RGNDATA* lpRgnData);
HRGN ExtCreateRegion(const XFORM* lpx, DWORD nCount, const RGNDATA* lpData);
// Builds one region from many rectangles at once (not a platform function:
// adding rectangles one at a time with CombineRgn is quadratic).
HRGN CreateRectsRgn(const RECT* rects, int count);

int SelectClipRgn(HDC hdc, HRGN hrgn);
int ExtSelectClipRgn(HDC hdc, HRGN hrgn, int mode);
int GetClipRgn(HDC hdc, HRGN hrgn);
int GetRandomRgn(HDC hdc, HRGN hrgn, INT i);
int GetClipBox(HDC hdc, LPRECT lprect);
int IntersectClipRect(HDC hdc, int left, int top, int right, int bottom);
int ExcludeClipRect(HDC hdc, int left, int top, int right, int bottom);
int OffsetClipRgn(HDC hdc, int x, int y);
BOOL RectVisible(HDC hdc, const RECT* lprect);
BOOL PtVisible(HDC hdc, int x, int y);

// ---------------------------------------------------------------------------
// Drawing primitives

COLORREF SetPixel(HDC hdc, int x, int y, COLORREF color);
BOOL SetPixelV(HDC hdc, int x, int y, COLORREF color);
COLORREF GetPixel(HDC hdc, int x, int y);
BOOL MoveToEx(HDC hdc, int x, int y, LPPOINT lppt);
BOOL LineTo(HDC hdc, int x, int y);
BOOL Polyline(HDC hdc, const POINT* apt, int cpt);
BOOL PolylineTo(HDC hdc, const POINT* apt, DWORD cpt);
BOOL PolyPolyline(HDC hdc, const POINT* apt, const DWORD* asz, DWORD csz);
BOOL Polygon(HDC hdc, const POINT* apt, int cpt);
BOOL PolyPolygon(HDC hdc, const POINT* apt, const INT* asz, int csz);
BOOL PolyBezier(HDC hdc, const POINT* apt, DWORD cpt);
BOOL PolyBezierTo(HDC hdc, const POINT* apt, DWORD cpt);
BOOL Rectangle(HDC hdc, int left, int top, int right, int bottom);
BOOL RoundRect(HDC hdc, int left, int top, int right, int bottom, int width, int height);
BOOL Ellipse(HDC hdc, int left, int top, int right, int bottom);
BOOL Arc(HDC hdc, int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4);
BOOL ArcTo(HDC hdc, int left, int top, int right, int bottom, int xr1, int yr1, int xr2, int yr2);
BOOL Pie(HDC hdc, int left, int top, int right, int bottom, int xr1, int yr1, int xr2, int yr2);
BOOL Chord(HDC hdc, int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4);
int FillRect(HDC hDC, const RECT* lprc, HBRUSH hbr);
int FrameRect(HDC hDC, const RECT* lprc, HBRUSH hbr);
BOOL InvertRect(HDC hDC, const RECT* lprc);
BOOL FillRgn(HDC hdc, HRGN hrgn, HBRUSH hbr);
BOOL FrameRgn(HDC hdc, HRGN hrgn, HBRUSH hbr, int w, int h);
BOOL PaintRgn(HDC hdc, HRGN hrgn);
BOOL InvertRgn(HDC hdc, HRGN hrgn);
BOOL PatBlt(HDC hdc, int x, int y, int w, int h, DWORD rop);

// ---------------------------------------------------------------------------
// Blits

BOOL BitBlt(HDC hdc, int x, int y, int cx, int cy, HDC hdcSrc, int x1, int y1, DWORD rop);
BOOL StretchBlt(HDC hdcDest, int xDest, int yDest, int wDest, int hDest, HDC hdcSrc, int xSrc, int ySrc,
                int wSrc, int hSrc, DWORD rop);
BOOL MaskBlt(HDC hdcDest, int xDest, int yDest, int width, int height, HDC hdcSrc, int xSrc, int ySrc,
             HBITMAP hbmMask, int xMask, int yMask, DWORD rop);
BOOL TransparentBlt(HDC hdcDest, int xoriginDest, int yoriginDest, int wDest, int hDest, HDC hdcSrc,
                    int xoriginSrc, int yoriginSrc, int wSrc, int hSrc, UINT crTransparent);
BOOL AlphaBlend(HDC hdcDest, int xoriginDest, int yoriginDest, int wDest, int hDest, HDC hdcSrc,
                int xoriginSrc, int yoriginSrc, int wSrc, int hSrc, BLENDFUNCTION ftn);
BOOL GradientFill(HDC hdc, TRIVERTEX* pVertex, ULONG nVertex, void* pMesh, ULONG nMesh, ULONG ulMode);
int StretchDIBits(HDC hdc, int xDest, int yDest, int DestWidth, int DestHeight, int xSrc, int ySrc,
                  int SrcWidth, int SrcHeight, const void* lpBits, const BITMAPINFO* lpbmi, UINT iUsage,
                  DWORD rop);
int SetDIBitsToDevice(HDC hdc, int xDest, int yDest, DWORD w, DWORD h, int xSrc, int ySrc, UINT StartScan,
                      UINT cLines, const void* lpvBits, const BITMAPINFO* lpbmi, UINT ColorUse);

// ---------------------------------------------------------------------------
// Bitmaps and palettes

HBITMAP CreateBitmap(int nWidth, int nHeight, UINT nPlanes, UINT nBitCount, const void* lpBits);
HBITMAP CreateBitmapIndirect(const BITMAP* pbm);
HBITMAP CreateCompatibleBitmap(HDC hdc, int cx, int cy);
HBITMAP CreateDIBSection(HDC hdc, const BITMAPINFO* pbmi, UINT usage, void** ppvBits, HANDLE hSection,
                         DWORD offset);
HBITMAP CreateDIBitmap(HDC hdc, const BITMAPINFOHEADER* pbmih, DWORD flInit, const void* pjBits,
                       const BITMAPINFO* pbmi, UINT iUsage);
constexpr DWORD CBM_INIT = 0x04;
int GetDIBits(HDC hdc, HBITMAP hbm, UINT start, UINT cLines, LPVOID lpvBits, BITMAPINFO* lpbmi, UINT usage);
int SetDIBits(HDC hdc, HBITMAP hbm, UINT start, UINT cLines, const void* lpBits, const BITMAPINFO* lpbmi,
              UINT ColorUse);
LONG GetBitmapBits(HBITMAP hbit, LONG cb, LPVOID lpvBits);
LONG SetBitmapBits(HBITMAP hbm, DWORD cb, const void* pvBits);
BOOL GetBitmapDimensionEx(HBITMAP hbit, LPSIZE lpsize);
UINT GetDIBColorTable(HDC hdc, UINT iStart, UINT cEntries, RGBQUAD* prgbq);
UINT SetDIBColorTable(HDC hdc, UINT iStart, UINT cEntries, const RGBQUAD* prgbq);

HPALETTE CreatePalette(const LOGPALETTE* plpal);
HPALETTE CreateHalftonePalette(HDC hdc);
HPALETTE SelectPalette(HDC hdc, HPALETTE hPal, BOOL bForceBkgd);
UINT RealizePalette(HDC hdc);
BOOL UpdateColors(HDC hdc);
UINT GetPaletteEntries(HPALETTE hpal, UINT iStart, UINT cEntries, PALETTEENTRY* pPalEntries);
UINT GetSystemPaletteEntries(HDC hdc, UINT iStart, UINT cEntries, PALETTEENTRY* pPalEntries);
UINT GetNearestPaletteIndex(HPALETTE h, COLORREF color);

// ---------------------------------------------------------------------------
// Paths

BOOL BeginPath(HDC hdc);
BOOL EndPath(HDC hdc);
BOOL AbortPath(HDC hdc);
BOOL CloseFigure(HDC hdc);
BOOL StrokePath(HDC hdc);
BOOL FillPath(HDC hdc);
BOOL StrokeAndFillPath(HDC hdc);
BOOL WidenPath(HDC hdc);
BOOL FlattenPath(HDC hdc);
HRGN PathToRegion(HDC hdc);
BOOL SelectClipPath(HDC hdc, int mode);

// ---------------------------------------------------------------------------
// user32 drawing helpers

BOOL DrawEdge(HDC hdc, LPRECT qrc, UINT edge, UINT grfFlags);
BOOL DrawFocusRect(HDC hDC, const RECT* lprc);
BOOL DrawFrameControl(HDC hdc, LPRECT lprc, UINT uType, UINT uState);

// The predefined check-box bitmap (OBM_CHECKBOXES, for LoadBitmap): 4 x 3
// cells of 13 x 13 pixels drawn with DrawFrameControl. Rows: check boxes,
// radio buttons, three-state boxes; columns: normal, checked, pushed,
// pushed and checked. A new 32-bit bitmap the caller owns.
HBITMAP CreateCheckBoxesBitmap();
constexpr int OBM_CHECKBOXES = 32759;

// ---------------------------------------------------------------------------
// Icons and cursors

HICON CreateIconIndirect(const ICONINFO* piconinfo);
BOOL GetIconInfo(HICON hIcon, ICONINFO* piconinfo);
BOOL DestroyIcon(HICON hIcon);
HICON CopyIcon(HICON hIcon);
BOOL DestroyCursor(HCURSOR hCursor);
BOOL DrawIconEx(HDC hdc, int xLeft, int yTop, HICON hIcon, int cxWidth, int cyWidth, UINT istepIfAniCur,
                HBRUSH hbrFlickerFreeDraw, UINT diFlags);
BOOL DrawIcon(HDC hDC, int X, int Y, HICON hIcon);

// The system icons of the message dialogs (IDI_HAND/IDI_ERROR 32513,
// IDI_QUESTION 32514, IDI_WARNING/IDI_EXCLAMATION 32515,
// IDI_ASTERISK/IDI_INFORMATION 32516; 32512 and 32517 the application icon):
// our own 32 x 32 drawings. A new icon the caller owns; nil for other ids.
HICON CreateSystemIcon(int id);

// ---------------------------------------------------------------------------
// Resources: bitmaps, icons and cursors (user32)
//
// A nil instance names the system's images (OBM_CHECKBOXES, the IDI_ icons,
// the IDC_ cursors of the window system); any other instance the program's
// embedded resources: RT_BITMAP (a packed DIB) by name or identifier, icons as
// .ico files under RT_GROUP_ICON and cursors as .cur files under
// RT_GROUP_CURSOR. Bad data loads nothing (nil), it never crashes.

struct HINSTANCE__;
using HINSTANCE = HINSTANCE__*;

constexpr UINT IMAGE_BITMAP = 0, IMAGE_ICON = 1, IMAGE_CURSOR = 2;
constexpr UINT LR_DEFAULTCOLOR = 0x0000, LR_MONOCHROME = 0x0001, LR_COLOR = 0x0002, LR_COPYRETURNORG = 0x0004,
               LR_COPYDELETEORG = 0x0008, LR_LOADFROMFILE = 0x0010, LR_LOADTRANSPARENT = 0x0020,
               LR_DEFAULTSIZE = 0x0040, LR_VGACOLOR = 0x0080, LR_LOADMAP3DCOLORS = 0x1000,
               LR_CREATEDIBSECTION = 0x2000, LR_COPYFROMRESOURCE = 0x4000, LR_SHARED = 0x8000;

// A bitmap resource as a device bitmap (32 bits, 1 for monochrome files).
HBITMAP LoadBitmapW(HINSTANCE hInstance, LPCWSTR lpBitmapName);
inline HBITMAP LoadBitmap(HINSTANCE h, LPCWSTR n) { return LoadBitmapW(h, n); }
// IMAGE_BITMAP: a device bitmap, or with LR_CREATEDIBSECTION a DIB section
// in the file's format; cx/cy other than 0 stretch it. LR_LOADFROMFILE reads
// a BMP file named by name. For palette images, LR_LOADMAP3DCOLORS maps the
// greys 128, 192 and 223 of the colour table to COLOR_3DSHADOW, COLOR_3DFACE
// and COLOR_3DLIGHT; LR_LOADTRANSPARENT gives the table entry of the first
// pixel of the bits COLOR_WINDOW (COLOR_3DFACE with LR_LOADMAP3DCOLORS).
// LR_MONOCHROME makes it black and white by intensity.
// IMAGE_ICON/IMAGE_CURSOR: the image of the file nearest cx x cy (0: the
// first image's size, or the system size with LR_DEFAULTSIZE), stretched to
// it; LR_SHARED answers the same handle for the same resource and size (a
// shared handle survives DestroyIcon).
HANDLE LoadImageW(HINSTANCE hInst, LPCWSTR name, UINT type, int cx, int cy, UINT fuLoad);
inline HANDLE LoadImage(HINSTANCE h, LPCWSTR n, UINT t, int cx, int cy, UINT f) { return LoadImageW(h, n, t, cx, cy, f); }
// A copy at cx x cy (0: the same size; for icons with LR_DEFAULTSIZE the
// system size) with LR_MONOCHROME and LR_CREATEDIBSECTION as above;
// LR_COPYFROMRESOURCE reloads an icon or cursor from its resource at the new
// size; LR_COPYRETURNORG answers the original when nothing would change;
// LR_COPYDELETEORG deletes the original.
HANDLE CopyImage(HANDLE h, UINT type, int cx, int cy, UINT flags);

}  // namespace win
