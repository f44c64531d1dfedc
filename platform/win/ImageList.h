// Image lists (the common controls' ImageList_ functions): images of one
// size kept in a 32-bit strip with an optional monochrome mask.
#pragma once

#include "platform/win/Gdi.h"

class TStream;

namespace win {

constexpr UINT ILC_MASK = 0x0001, ILC_COLOR = 0x0000, ILC_COLORDDB = 0x00FE, ILC_COLOR4 = 0x0004,
               ILC_COLOR8 = 0x0008, ILC_COLOR16 = 0x0010, ILC_COLOR24 = 0x0018, ILC_COLOR32 = 0x0020,
               ILC_PALETTE = 0x0800, ILC_MIRROR = 0x2000, ILC_PERITEMMIRROR = 0x8000;
constexpr UINT ILD_NORMAL = 0x0000, ILD_TRANSPARENT = 0x0001, ILD_MASK = 0x0010, ILD_IMAGE = 0x0020,
               ILD_ROP = 0x0040, ILD_BLEND25 = 0x0002, ILD_BLEND50 = 0x0004, ILD_OVERLAYMASK = 0x0F00,
               ILD_PRESERVEALPHA = 0x1000, ILD_SCALE = 0x2000, ILD_DPISCALE = 0x4000,
               ILD_SELECTED = ILD_BLEND50, ILD_FOCUS = ILD_BLEND25, ILD_BLEND = ILD_BLEND50;
constexpr COLORREF CLR_NONE = 0xFFFFFFFFu, CLR_DEFAULT = 0xFF000000u, CLR_HILIGHT = CLR_DEFAULT;
constexpr UINT ILCF_MOVE = 0x0000, ILCF_SWAP = 0x0001;

struct IMAGEINFO {
  HBITMAP hbmImage{};
  HBITMAP hbmMask{};
  int Unused1{};
  int Unused2{};
  RECT rcImage{};
};

void InitCommonControls();

HIMAGELIST ImageList_Create(int cx, int cy, UINT flags, int cInitial, int cGrow);
BOOL ImageList_Destroy(HIMAGELIST himl);
int ImageList_GetImageCount(HIMAGELIST himl);
BOOL ImageList_SetImageCount(HIMAGELIST himl, UINT uNewCount);
// Adds the images of a bitmap (its width divided by the image width, at
// least one); answers the index of the first or -1.
int ImageList_Add(HIMAGELIST himl, HBITMAP hbmImage, HBITMAP hbmMask);
// The mask is made from the pixels of crMask, which turn black in the image.
int ImageList_AddMasked(HIMAGELIST himl, HBITMAP hbmImage, COLORREF crMask);
int ImageList_ReplaceIcon(HIMAGELIST himl, int i, HICON hicon);
inline int ImageList_AddIcon(HIMAGELIST himl, HICON hicon) { return ImageList_ReplaceIcon(himl, -1, hicon); }
BOOL ImageList_Replace(HIMAGELIST himl, int i, HBITMAP hbmImage, HBITMAP hbmMask);
// Removes one image, or all of them for -1.
BOOL ImageList_Remove(HIMAGELIST himl, int i);
BOOL ImageList_Copy(HIMAGELIST himlDst, int iDst, HIMAGELIST himlSrc, int iSrc, UINT uFlags);
HIMAGELIST ImageList_Duplicate(HIMAGELIST himl);
BOOL ImageList_Draw(HIMAGELIST himl, int i, HDC hdcDst, int x, int y, UINT fStyle);
BOOL ImageList_DrawEx(HIMAGELIST himl, int i, HDC hdcDst, int x, int y, int dx, int dy, COLORREF rgbBk,
                      COLORREF rgbFg, UINT fStyle);
BOOL ImageList_GetImageInfo(HIMAGELIST himl, int i, IMAGEINFO* pImageInfo);
BOOL ImageList_GetIconSize(HIMAGELIST himl, int* cx, int* cy);
// Changing the size removes every image.
BOOL ImageList_SetIconSize(HIMAGELIST himl, int cx, int cy);
COLORREF ImageList_SetBkColor(HIMAGELIST himl, COLORREF clrBk);
COLORREF ImageList_GetBkColor(HIMAGELIST himl);
HICON ImageList_GetIcon(HIMAGELIST himl, int i, UINT flags);
// A list made from a bitmap (LoadImageW with uFlags; IMAGE_BITMAP only):
// images cx wide and as high as the bitmap, masked by crMask (CLR_DEFAULT:
// the colour of the top-left pixel; CLR_NONE: no mask).
HIMAGELIST ImageList_LoadImageW(HINSTANCE hi, LPCWSTR lpbmp, int cx, int cGrow, COLORREF crMask, UINT uType,
                                UINT uFlags);
inline HIMAGELIST ImageList_LoadImage(HINSTANCE hi, LPCWSTR lpbmp, int cx, int cGrow, COLORREF crMask, UINT uType,
                                      UINT uFlags) {
  return ImageList_LoadImageW(hi, lpbmp, cx, cGrow, crMask, uType, uFlags);
}

// Dragging: one drag at a time, shown in a topmost layered popup window that
// takes no input and no activation. BeginDrag copies image iTrack into a
// temporary list (ImageList_GetDragImage); the hot spot is the point of the
// image that follows the drag position. DragEnter shows the image at (x, y)
// relative to the top-left corner of hwndLock's window rectangle (of the
// screen for nil); DragMove moves it in the same coordinates; DragShowNolock
// shows or hides it; DragLeave hides it; EndDrag ends the drag. Each answers
// FALSE when no drag is going on.
BOOL ImageList_BeginDrag(HIMAGELIST himlTrack, int iTrack, int dxHotspot, int dyHotspot);
BOOL ImageList_DragEnter(HWND hwndLock, int x, int y);
BOOL ImageList_DragMove(int x, int y);
BOOL ImageList_DragShowNolock(BOOL fShow);
BOOL ImageList_DragLeave(HWND hwndLock);
void ImageList_EndDrag();
// Combines image iDrag (a cursor image) with the drag image: the new image's
// point (dxHotspot, dyHotspot) is laid over the drag image's hot spot, the
// cursor image drawn on top; the combined picture holds both and keeps that
// point as its hot spot. A later call replaces the cursor image.
BOOL ImageList_SetDragCursorImage(HIMAGELIST himlDrag, int iDrag, int dxHotspot, int dyHotspot);
// The temporary list of the drag (nil when no drag); ppt receives the drag
// position, pptHotspot the hot spot within the drag image.
HIMAGELIST ImageList_GetDragImage(POINT* ppt, POINT* pptHotspot);

// The list in our stream form: the 28-byte list header ("IL", version 0x101,
// counts, sizes, background colour, flags, overlays), then the image strip
// as a 32-bit BMP file and, with ILC_MASK, the mask as a 1-bit BMP file.
BOOL ImageList_Write(HIMAGELIST himl, TStream* pstm);
HIMAGELIST ImageList_Read(TStream* pstm);

}  // namespace win
