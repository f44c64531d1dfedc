// The graphics classes: colours, fonts, pens and brushes, the canvas that
// draws with them on a device context, and the graphic classes (bitmaps,
// icons, metafiles, pictures with their registry of file formats).
//
// Everything draws through the Win32-shaped GDI layer (platform/win). Handles
// of fonts, pens and brushes are made on first use and dropped when a
// property changes; a canvas selects them into its DC only when an operation
// needs them (RequiredState).
#pragma once

#include <mutex>
#include <vector>

#include "platform/classes/Classes.h"
#include "platform/win/WinTypes.h"

class TStream;
class TFiler;
class TCanvas;
class TBitmap;
class TGraphic;

RTL_EXCEPTION_CLASS(EInvalidGraphic, Exception);
RTL_EXCEPTION_CLASS(EInvalidGraphicOperation, Exception);

// --- Colours -----------------------------------------------------------------------------

// An RGB value (0x00BBGGRR), a system colour (0xFF000000 | COLOR_ index),
// a palette-relative value (0x01/0x02 in the high byte), clNone or clDefault.
using TColor = Integer;

constexpr TColor SysColor(Integer Index) { return static_cast<TColor>(0xFF000000u | static_cast<Cardinal>(Index)); }

constexpr TColor clScrollBar = SysColor(0);
constexpr TColor clBackground = SysColor(1);
constexpr TColor clActiveCaption = SysColor(2);
constexpr TColor clInactiveCaption = SysColor(3);
constexpr TColor clMenu = SysColor(4);
constexpr TColor clWindow = SysColor(5);
constexpr TColor clWindowFrame = SysColor(6);
constexpr TColor clMenuText = SysColor(7);
constexpr TColor clWindowText = SysColor(8);
constexpr TColor clCaptionText = SysColor(9);
constexpr TColor clActiveBorder = SysColor(10);
constexpr TColor clInactiveBorder = SysColor(11);
constexpr TColor clAppWorkSpace = SysColor(12);
constexpr TColor clHighlight = SysColor(13);
constexpr TColor clHighlightText = SysColor(14);
constexpr TColor clBtnFace = SysColor(15);
constexpr TColor clBtnShadow = SysColor(16);
constexpr TColor clGrayText = SysColor(17);
constexpr TColor clBtnText = SysColor(18);
constexpr TColor clInactiveCaptionText = SysColor(19);
constexpr TColor clBtnHighlight = SysColor(20);
constexpr TColor cl3DDkShadow = SysColor(21);
constexpr TColor cl3DLight = SysColor(22);
constexpr TColor clInfoText = SysColor(23);
constexpr TColor clInfoBk = SysColor(24);
constexpr TColor clHotLight = SysColor(26);
constexpr TColor clGradientActiveCaption = SysColor(27);
constexpr TColor clGradientInactiveCaption = SysColor(28);
constexpr TColor clMenuHighlight = SysColor(29);
constexpr TColor clMenuBar = SysColor(30);

constexpr TColor clBlack = 0x000000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clOlive = 0x008080;
constexpr TColor clNavy = 0x800000;
constexpr TColor clPurple = 0x800080;
constexpr TColor clTeal = 0x808000;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clFuchsia = 0xFF00FF;
constexpr TColor clAqua = 0xFFFF00;
constexpr TColor clLtGray = 0xC0C0C0;
constexpr TColor clDkGray = 0x808080;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clMoneyGreen = 0xC0DCC0;
constexpr TColor clSkyBlue = 0xF0CAA6;
constexpr TColor clCream = 0xF0FBFF;
constexpr TColor clMedGray = 0xA4A0A0;
constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clDefault = 0x20000000;

// The type information "TColor" (tkInteger) with the clXxx identifier map
// registered (made on first use).
const TTypeInfo* TypeInfoTColor();

// A system colour resolved through the system colour table; any other value
// is returned unchanged.
Integer ColorToRGB(TColor Color);
// The clXxx names: "clBtnFace" <-> clBtnFace, compared without regard to case.
bool ColorToIdent(Integer Color, String& Ident);
bool IdentToColor(const String& Ident, Integer& Color);
// A name when the colour has one, else "$00BBGGRR".
String ColorToString(TColor Color);
// A clXxx name or an integer ("$00FF0000", "255"); EConvertError otherwise.
TColor StringToColor(const String& S);

// --- Font character sets ----------------------------------------------------------------

using TFontCharset = Byte;
// The type information "TFontCharset" with the XXX_CHARSET identifier map.
const TTypeInfo* TypeInfoTFontCharset();
bool CharsetToIdent(Integer Charset, String& Ident);
bool IdentToCharset(const String& Ident, Integer& Charset);

// --- Graphics objects -------------------------------------------------------------------

// A font, pen or brush: OnChange tells its owner (a canvas, a control).
class TGraphicsObject : public TPersistent {
  CL_CLASS(TGraphicsObject, TPersistent)
 public:
  const TNotifyEvent& OnChange() const { return FOnChange; }
  void SetOnChange(const TNotifyEvent& Value) { FOnChange = Value; }
  // Serialises users of the object across threads (as canvases do).
  void Lock() { FLock.lock(); }
  void Unlock() { FLock.unlock(); }

 protected:
  virtual void Changed();

 private:
  TNotifyEvent FOnChange;
  std::recursive_mutex FLock;
};

CL_ENUM(TFontStyle, Byte, fsBold, fsItalic, fsUnderline, fsStrikeOut)
using TFontStyles = TSet<TFontStyle, 1>;
CL_SET_TYPEINFO(TFontStyles)
CL_ENUM(TFontPitch, Byte, fpDefault, fpVariable, fpFixed)
CL_ENUM(TFontQuality, Byte, fqDefault, fqDraft, fqProof, fqNonAntialiased, fqAntialiased, fqClearType,
        fqClearTypeNatural)

// The face name and size of a new font.
extern const Char* const DefFontName;  // "Tahoma"
constexpr Integer DefFontHeight = -11;  // 8 points at 96 pixels per inch

class TFont : public TGraphicsObject {
  CL_CLASS(TFont, TGraphicsObject)
 public:
  void Create();
  void Destroy() override;
  void Assign(TPersistent* Source) override;

  // The font handle made from the properties (CreateFontIndirectW), kept
  // until a property changes. Setting a handle takes it over and reads the
  // properties from it.
  win::HFONT Handle();
  void SetHandle(win::HFONT Value);
  bool HandleAllocated() const { return FHandle != nullptr; }
  // The LOGFONTW the handle is made from.
  void GetLogFont(void* LogFontW) const;

  TColor Color() const { return FColor; }
  void SetColor(TColor Value);
  TFontCharset Charset() const { return FCharset; }
  void SetCharset(TFontCharset Value);
  // Negative: the em in pixels; positive: the cell height.
  Integer Height() const { return FHeight; }
  void SetHeight(Integer Value);
  const String& Name() const { return FName; }
  void SetName(const String& Value);
  // Tenths of a degree counter-clockwise.
  Integer Orientation() const { return FOrientation; }
  void SetOrientation(Integer Value);
  TFontPitch Pitch() const { return FPitch; }
  void SetPitch(TFontPitch Value);
  // Points at PixelsPerInch: -MulDiv(Height, 72, PixelsPerInch).
  Integer Size() const;
  void SetSize(Integer Value);
  TFontStyles Style() const { return FStyle; }
  void SetStyle(TFontStyles Value);
  TFontQuality Quality() const { return FQuality; }
  void SetQuality(TFontQuality Value);
  Integer PixelsPerInch() const { return FPixelsPerInch; }
  void SetPixelsPerInch(Integer Value) { FPixelsPerInch = Value; }

 protected:
  void Changed() override;

 private:
  // Drops the handle after a property that it depends on changed.
  void DataChanged();

  win::HFONT FHandle{};
  TColor FColor{};
  TFontCharset FCharset{};
  Integer FHeight{};
  String FName;
  Integer FOrientation{};
  TFontPitch FPitch{};
  TFontStyles FStyle{};
  TFontQuality FQuality{};
  Integer FPixelsPerInch{};
};

CL_ENUM(TPenStyle, Byte, psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame)
CL_ENUM(TPenMode, Byte, pmBlack, pmWhite, pmNop, pmNot, pmCopy, pmNotCopy, pmMergePenNot, pmMaskPenNot,
        pmMergeNotPen, pmMaskNotPen, pmMerge, pmNotMerge, pmMask, pmNotMask, pmXor, pmNotXor)

// The ROP2 mix (R2_xxx) of a pen mode, and the mode of a mix (pmCopy when none).
Integer PenModeToROP2(TPenMode Mode);
TPenMode ROP2ToPenMode(Integer Rop2);

class TPen : public TGraphicsObject {
  CL_CLASS(TPen, TGraphicsObject)
 public:
  void Create();
  void Destroy() override;
  void Assign(TPersistent* Source) override;

  win::HPEN Handle();
  void SetHandle(win::HPEN Value);

  TColor Color() const { return FColor; }
  void SetColor(TColor Value);
  TPenMode Mode() const { return FMode; }
  void SetMode(TPenMode Value);
  TPenStyle Style() const { return FStyle; }
  void SetStyle(TPenStyle Value);
  Integer Width() const { return FWidth; }
  void SetWidth(Integer Value);

 private:
  void DataChanged();

  win::HPEN FHandle{};
  TColor FColor{};
  TPenMode FMode{};
  TPenStyle FStyle{};
  Integer FWidth{};
};

CL_ENUM(TBrushStyle, Byte, bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross,
        bsDiagCross)

class TBrush : public TGraphicsObject {
  CL_CLASS(TBrush, TGraphicsObject)
 public:
  void Create();
  void Destroy() override;
  void Assign(TPersistent* Source) override;

  win::HBRUSH Handle();
  void SetHandle(win::HBRUSH Value);

  TColor Color() const { return FColor; }
  void SetColor(TColor Value);
  TBrushStyle Style() const { return FStyle; }
  void SetStyle(TBrushStyle Value);
  // A pattern (an 8 x 8 bitmap or a tile); the brush does not own it.
  TBitmap* Bitmap() const { return FBitmap; }
  void SetBitmap(TBitmap* Value);

 private:
  void DataChanged();

  win::HBRUSH FHandle{};
  TColor FColor{};
  TBrushStyle FStyle{};
  TBitmap* FBitmap{};
};

// --- Canvas -------------------------------------------------------------------------------

CL_ENUM(TCanvasState, Byte, csHandleValid, csFontValid, csPenValid, csBrushValid)
using TCanvasStates = TSet<TCanvasState, 1>;
inline constexpr TCanvasStates csAllValid{csHandleValid, csFontValid, csPenValid, csBrushValid};

CL_ENUM(TFillStyle, Byte, fsSurface, fsBorder)

// The raster operation of CopyRect and of drawing bitmaps.
using TCopyMode = LongInt;
constexpr TCopyMode cmBlackness = 0x00000042, cmDstInvert = 0x00550009, cmMergeCopy = 0x00C000CA,
                    cmMergePaint = 0x00BB0226, cmNotSrcCopy = 0x00330008, cmNotSrcErase = 0x001100A6,
                    cmPatCopy = 0x00F00021, cmPatInvert = 0x005A0049, cmPatPaint = 0x00FB0A09,
                    cmSrcAnd = 0x008800C6, cmSrcCopy = 0x00CC0020, cmSrcErase = 0x00440328,
                    cmSrcInvert = 0x00660046, cmSrcPaint = 0x00EE0086, cmWhiteness = 0x00FF0062;

// The formats of TextRect's formatted form (each a DrawText flag).
CL_ENUM(TTextFormats, Byte, tfBottom, tfCalcRect, tfCenter, tfEditControl, tfEndEllipsis, tfPathEllipsis,
        tfExpandTabs, tfExternalLeading, tfLeft, tfModifyString, tfNoClip, tfNoPrefix, tfRight, tfRtlReading,
        tfSingleLine, tfTop, tfVerticalCenter, tfWordBreak, tfHidePrefix, tfNoFullWidthCharBreak,
        tfPrefixOnly, tfTabStop, tfWordEllipsis)
using TTextFormat = TSet<TTextFormats, 4>;

// Draws on a device context with its font, pen and brush. Every operation
// first makes valid what it needs (RequiredState): the handle (CreateHandle
// of a descendant makes one), then the font, pen and brush are selected.
class TCanvas : public TPersistent {
  CL_CLASS(TCanvas, TPersistent)
 public:
  void Create();
  void Destroy() override;

  // The DC, made valid with its objects selected. Setting it deselects the
  // objects from the old DC (the canvas does not own a DC given to it).
  win::HDC Handle();
  void SetHandle(win::HDC Value);
  bool HandleAllocated() const { return FHandle != nullptr; }
  // Makes the given parts valid; a canvas without a DC raises
  // EInvalidOperation "Canvas does not allow drawing".
  void RequiredState(TCanvasStates ReqState);
  TCanvasStates State() const { return FState; }
  // Selects stock objects again, so the next operation selects the current ones.
  void Refresh();

  void Lock();
  void Unlock();
  bool TryLock();
  Integer LockCount() const { return FLockCount; }

  TFont* Font() const { return FFont; }
  void SetFont(TFont* Value) { FFont->Assign(Value); }
  TPen* Pen() const { return FPen; }
  void SetPen(TPen* Value) { FPen->Assign(Value); }
  TBrush* Brush() const { return FBrush; }
  void SetBrush(TBrush* Value) { FBrush->Assign(Value); }
  TCopyMode CopyMode() const { return FCopyMode; }
  void SetCopyMode(TCopyMode Value) { FCopyMode = Value; }
  // ETO_ flags added to every TextOut and TextRect.
  Integer TextFlags() const { return FTextFlags; }
  void SetTextFlags(Integer Value) { FTextFlags = Value; }
  TPoint PenPos();
  void SetPenPos(const TPoint& Value) { MoveTo(Value.X, Value.Y); }
  // The clip box in logical coordinates.
  TRect ClipRect();

  // Shapes.
  void Arc(Integer X1, Integer Y1, Integer X2, Integer Y2, Integer X3, Integer Y3, Integer X4, Integer Y4);
  void Chord(Integer X1, Integer Y1, Integer X2, Integer Y2, Integer X3, Integer Y3, Integer X4, Integer Y4);
  void Pie(Integer X1, Integer Y1, Integer X2, Integer Y2, Integer X3, Integer Y3, Integer X4, Integer Y4);
  void Ellipse(Integer X1, Integer Y1, Integer X2, Integer Y2);
  void Ellipse(const TRect& Rect) { Ellipse(Rect.Left, Rect.Top, Rect.Right, Rect.Bottom); }
  void Rectangle(Integer X1, Integer Y1, Integer X2, Integer Y2);
  void Rectangle(const TRect& Rect) { Rectangle(Rect.Left, Rect.Top, Rect.Right, Rect.Bottom); }
  void RoundRect(Integer X1, Integer Y1, Integer X2, Integer Y2, Integer X3, Integer Y3);
  void FillRect(const TRect& Rect);
  void FrameRect(const TRect& Rect);
  void DrawFocusRect(const TRect& Rect);
  void Polygon(const TPoint* Points, Integer Count);
  void Polygon(const std::vector<TPoint>& Points) { Polygon(Points.data(), Integer(Points.size())); }
  void Polyline(const TPoint* Points, Integer Count);
  void Polyline(const std::vector<TPoint>& Points) { Polyline(Points.data(), Integer(Points.size())); }
  void PolyBezier(const TPoint* Points, Integer Count);
  void PolyBezier(const std::vector<TPoint>& Points) { PolyBezier(Points.data(), Integer(Points.size())); }
  void MoveTo(Integer X, Integer Y);
  void LineTo(Integer X, Integer Y);
  // Fills the area around (X, Y) with the brush: fsSurface the pixels of
  // Color connected to it, fsBorder the pixels up to a border of Color.
  void FloodFill(Integer X, Integer Y, TColor Color, TFillStyle FillStyle);

  TColor Pixels(Integer X, Integer Y);
  void SetPixels(Integer X, Integer Y, TColor Value);

  // Pictures and copies.
  void Draw(Integer X, Integer Y, TGraphic* Graphic);
  void StretchDraw(const TRect& Rect, TGraphic* Graphic);
  void CopyRect(const TRect& Dest, TCanvas* Canvas, const TRect& Source);
  // Copies Source of Bitmap to Dest, the pixels of Color replaced by the brush.
  void BrushCopy(const TRect& Dest, TBitmap* Bitmap, const TRect& Source, TColor Color);

  // Text.
  void TextOut(Integer X, Integer Y, const String& Text);
  void TextRect(const TRect& Rect, Integer X, Integer Y, const String& Text);
  // DrawText with the formats; tfCalcRect updates Rect, tfModifyString Text.
  void TextRect(TRect& Rect, String& Text, TTextFormat TextFormat);
  TSize TextExtent(const String& Text);
  Integer TextWidth(const String& Text) { return TextExtent(Text).cx; }
  Integer TextHeight(const String& Text) { return TextExtent(Text).cy; }

  const TNotifyEvent& OnChange() const { return FOnChange; }
  void SetOnChange(const TNotifyEvent& Value) { FOnChange = Value; }
  const TNotifyEvent& OnChanging() const { return FOnChanging; }
  void SetOnChanging(const TNotifyEvent& Value) { FOnChanging = Value; }

 protected:
  virtual void Changed();
  virtual void Changing();
  // Makes the DC when a descendant has one to make (the base has none).
  virtual void CreateHandle();

 private:
  void CreateFont();
  void CreatePen();
  void CreateBrush();
  void DeselectHandles();
  void FontChanged(TObject* Sender);
  void PenChanged(TObject* Sender);
  void BrushChanged(TObject* Sender);

  win::HDC FHandle{};
  TCanvasStates FState{};
  TFont* FFont{};
  TPen* FPen{};
  TBrush* FBrush{};
  TPoint FPenPos{};
  TCopyMode FCopyMode{};
  Integer FTextFlags{};
  Integer FLockCount{};
  std::recursive_mutex FLock;
  TNotifyEvent FOnChange;
  TNotifyEvent FOnChanging;

  friend class TBitmap;
  friend class TBitmapCanvas;
};

// --- Graphics ------------------------------------------------------------------------------

// A picture that can draw itself on a canvas and be streamed. The form data
// of a graphic is its defined binary property "Data" (ReadData/WriteData).
class TGraphic : public TPersistent {
  CL_CLASS(TGraphic, TPersistent)
 public:
  // The virtual constructor (pictures create graphics through class references).
  virtual void Create();

  Boolean Empty() { return GetEmpty(); }
  Integer Width() { return GetWidth(); }
  void SetWidth(Integer Value) { DoSetWidth(Value); }
  Integer Height() { return GetHeight(); }
  void SetHeight(Integer Value) { DoSetHeight(Value); }
  Boolean Transparent() { return GetTransparent(); }
  void SetTransparent(Boolean Value) { DoSetTransparent(Value); }
  Boolean Modified() const { return FModified; }
  void SetModified(Boolean Value);
  win::HPALETTE Palette() { return GetPalette(); }
  void SetPalette(win::HPALETTE Value) { DoSetPalette(Value); }

  // Draws the picture into Rect (stretched to it).
  virtual void Draw(TCanvas* ACanvas, const TRect& Rect);
  // Abstract: the graphic's own file format from the stream's position.
  virtual void LoadFromStream(TStream* Stream);
  virtual void SaveToStream(TStream* Stream);
  void LoadFromFile(const String& FileName);
  void SaveToFile(const String& FileName);
  // Whether the two graphics hold the same picture (their saved bytes).
  virtual Boolean Equals(TGraphic* Graphic);

  const TNotifyEvent& OnChange() const { return FOnChange; }
  void SetOnChange(const TNotifyEvent& Value) { FOnChange = Value; }

  // The form data: by default the graphic's file format.
  virtual void ReadData(TStream* Stream);
  virtual void WriteData(TStream* Stream);

 protected:
  // Sets Modified and calls OnChange.
  virtual void Changed(TObject* Sender);
  void DefineProperties(TFiler* Filer) override;

  virtual Boolean GetEmpty();
  virtual Integer GetWidth();
  virtual Integer GetHeight();
  virtual void DoSetWidth(Integer Value);
  virtual void DoSetHeight(Integer Value);
  virtual Boolean GetTransparent() { return FTransparent; }
  virtual void DoSetTransparent(Boolean Value);
  virtual win::HPALETTE GetPalette() { return nullptr; }
  virtual void DoSetPalette(win::HPALETTE Value) {}

 private:
  void ReadDataProc(TStream* Stream) { ReadData(Stream); }
  void WriteDataProc(TStream* Stream) { WriteData(Stream); }
  TNotifyEvent FOnChange;

 protected:
  Boolean FModified{};
  Boolean FTransparent{};
};

using TGraphicClass = TClassOf<TGraphic>;

CL_ENUM(TPixelFormat, Byte, pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit, pfCustom)
CL_ENUM(TBitmapHandleType, Byte, bmDIB, bmDDB)
CL_ENUM(TTransparentMode, Byte, tmAuto, tmFixed)

// The canvas of a bitmap: a memory DC with the bitmap selected, made on use.
class TBitmapCanvas : public TCanvas {
  CL_CLASS(TBitmapCanvas, TCanvas)
 public:
  void Create(TBitmap* ABitmap);
  void Destroy() override;
  // Deselects the bitmap and frees the DC (the next drawing makes a new one).
  void FreeContext();

 protected:
  void CreateHandle() override;

 private:
  TBitmap* FBitmap{};
  win::HGDIOBJ FOldBitmap{};
  win::HGDIOBJ FOldPalette{};
};

// A bitmap: a DIB section (or a device bitmap) of a pixel format. New pixels
// are white (the canvas's brush colour). The stream form is a BMP file; the
// form data is a 32-bit length followed by a BMP file.
class TBitmap : public TGraphic {
  CL_CLASS(TBitmap, TGraphic)
 public:
  void Create() override;
  void Destroy() override;
  void Assign(TPersistent* Source) override;

  void Draw(TCanvas* ACanvas, const TRect& Rect) override;
  void LoadFromStream(TStream* Stream) override;
  void SaveToStream(TStream* Stream) override;
  void ReadData(TStream* Stream) override;
  void WriteData(TStream* Stream) override;
  // A bitmap resource (RT_BITMAP: a packed DIB), EResNotFound when missing.
  void LoadFromResourceName(void* Instance, const String& ResName);
  void LoadFromResourceID(void* Instance, Integer ResID);

  virtual void SetSize(Integer AWidth, Integer AHeight);
  TCanvas* Canvas();
  // The bitmap's handle (made when needed); setting one takes it over.
  win::HBITMAP Handle();
  void SetHandle(win::HBITMAP Value);
  bool HandleAllocated() const { return FHandle != nullptr; }
  // Gives the handle away; the bitmap keeps a copy of the picture.
  win::HBITMAP ReleaseHandle();
  // A monochrome mask: 1 (white) where the pixel is the transparent colour.
  win::HBITMAP MaskHandle();
  void SetMaskHandle(win::HBITMAP Value);
  win::HBITMAP ReleaseMaskHandle();
  // Turns the bitmap itself into such a mask of TransparentColor.
  void Mask(TColor TransparentColor);
  // Keeps the picture in memory and frees the GDI handles until next use.
  void Dormant();
  // Frees the memory copy of a picture that has a handle (nothing to free here).
  void FreeImage();

  TPixelFormat PixelFormat();
  void SetPixelFormat(TPixelFormat Value);
  TBitmapHandleType HandleType();
  void SetHandleType(TBitmapHandleType Value);
  Boolean Monochrome();
  void SetMonochrome(Boolean Value);
  // The address of pixel row Row (0 = top) of the DIB section; a device
  // bitmap becomes a DIB first. EInvalidGraphicOperation for a bad row.
  void* ScanLine(Integer Row);

  // The automatic colour is the bottom-left pixel (white for monochrome);
  // the answer carries 0x02000000, as the platform's does.
  TColor TransparentColor();
  void SetTransparentColor(TColor Value);
  TTransparentMode TransparentMode() const { return FTransparentMode; }
  void SetTransparentMode(TTransparentMode Value);

  // Drops the canvas's DC (before the handle changes).
  void FreeContext();

 protected:
  Boolean GetEmpty() override;
  Integer GetWidth() override { return FWidth; }
  Integer GetHeight() override { return FHeight; }
  void DoSetWidth(Integer Value) override { SetSize(Value, FHeight); }
  void DoSetHeight(Integer Value) override { SetSize(FWidth, Value); }
  win::HPALETTE GetPalette() override;
  void DoSetPalette(win::HPALETTE Value) override;
  void Changed(TObject* Sender) override;

 private:
  friend class TBitmapCanvas;
  void HandleNeeded();
  // Replaces the picture by NewHandle (owned), keeping the settings.
  void ReplaceHandle(win::HBITMAP NewHandle);
  void FreeHandles();
  void LoadBmp(const Byte* Data, size_t Size);
  // A new bitmap of the format and size, white, with the old picture copied in.
  win::HBITMAP MakeBitmap(TPixelFormat Format, TBitmapHandleType Type, Integer W, Integer H, win::HBITMAP Old);

  win::HBITMAP FHandle{};
  win::HBITMAP FMaskHandle{};
  win::HPALETTE FPalette{};
  Integer FWidth{};
  Integer FHeight{};
  TPixelFormat FPixelFormat{};
  TBitmapHandleType FHandleType{};
  TColor FTransparentColor{};
  TTransparentMode FTransparentMode{};
  TBitmapCanvas* FCanvas{};
  std::vector<Byte> FDormantData;  // the picture as a BMP file while dormant
};

// An icon (.ico): the handle is made from the image nearest 32 x 32; the
// stream form is the file as loaded, or one image made from the handle.
class TIcon : public TGraphic {
  CL_CLASS(TIcon, TGraphic)
 public:
  void Create() override;
  void Destroy() override;
  void Assign(TPersistent* Source) override;

  void Draw(TCanvas* ACanvas, const TRect& Rect) override;
  void LoadFromStream(TStream* Stream) override;
  void SaveToStream(TStream* Stream) override;

  win::HICON Handle() { return FHandle; }
  // Takes the handle over (the file data is dropped).
  void SetHandle(win::HICON Value);
  win::HICON ReleaseHandle();

 protected:
  Boolean GetEmpty() override { return FHandle == nullptr; }
  Integer GetWidth() override { return FWidth; }
  Integer GetHeight() override { return FHeight; }
  // An icon's size follows its image: EInvalidGraphicOperation.
  void DoSetWidth(Integer Value) override;
  void DoSetHeight(Integer Value) override;
  Boolean GetTransparent() override { return true; }

 private:
  void Reset();
  win::HICON FHandle{};
  Integer FWidth{};
  Integer FHeight{};
  std::vector<Byte> FData;
};

// A metafile kept as its bytes (not played back: nothing draws metafiles).
class TMetafile : public TGraphic {
  CL_CLASS(TMetafile, TGraphic)
 public:
  void Assign(TPersistent* Source) override;
  void LoadFromStream(TStream* Stream) override;
  void SaveToStream(TStream* Stream) override;
  void Draw(TCanvas* ACanvas, const TRect& Rect) override {}
  Boolean Enhanced() const { return FEnhanced; }
  void SetEnhanced(Boolean Value) { FEnhanced = Value; }
  void Clear();

 protected:
  Boolean GetEmpty() override { return FData.empty(); }
  Integer GetWidth() override { return FWidth; }
  Integer GetHeight() override { return FHeight; }
  void DoSetWidth(Integer Value) override;
  void DoSetHeight(Integer Value) override;

 private:
  std::vector<Byte> FData;
  Integer FWidth{};
  Integer FHeight{};
  Boolean FEnhanced{};
};

// Holds one graphic of any registered class. Its form data "Data" is the
// graphic's class name as a short string followed by the graphic's own data.
class TPicture : public TInterfacedPersistent {
  CL_CLASS(TPicture, TInterfacedPersistent)
 public:
  void Create();
  void Destroy() override;
  void Assign(TPersistent* Source) override;

  TGraphic* Graphic() const { return FGraphic; }
  // Keeps a copy of Value (nil empties the picture).
  void SetGraphic(TGraphic* Value);
  // The graphic as that class; a graphic of another class is replaced by an
  // empty one.
  TBitmap* Bitmap();
  void SetBitmap(TBitmap* Value) { SetGraphic(Value); }
  TIcon* Icon();
  void SetIcon(TIcon* Value) { SetGraphic(Value); }
  TMetafile* Metafile();
  void SetMetafile(TMetafile* Value) { SetGraphic(Value); }
  Integer Width() { return FGraphic ? FGraphic->Width() : 0; }
  Integer Height() { return FGraphic ? FGraphic->Height() : 0; }

  // By the file's extension: EInvalidGraphic "Unknown picture file extension (.%s)".
  void LoadFromFile(const String& Filename);
  void SaveToFile(const String& Filename);

  const TNotifyEvent& OnChange() const { return FOnChange; }
  void SetOnChange(const TNotifyEvent& Value) { FOnChange = Value; }

  // The registry of file formats (class methods). Extensions are given
  // without the dot and compared without regard to case; a later
  // registration of an extension takes precedence.
  void RegisterFileFormat(const String& AExtension, const String& ADescription, TGraphicClass AGraphicClass) const;
  void UnregisterGraphicClass(TGraphicClass AClass) const;
  // The registered graphic class of that name (case ignored), or nil.
  TGraphicClass GetGraphicClass(const String& AClassName) const;
  // The class registered for an extension, or nil.
  TGraphicClass FindExtension(const String& AExtension) const;

  void ReadData(TStream* Stream);
  void WriteData(TStream* Stream);

 protected:
  virtual void Changed(TObject* Sender);
  void AssignTo(TPersistent* Dest) override;
  void DefineProperties(TFiler* Filer) override;

 private:
  void ForceType(TGraphicClass GraphicType);
  TGraphic* FGraphic{};
  TNotifyEvent FOnChange;
};

// Dialog filter parts of the registered formats: "Bitmaps (*.bmp)|*.bmp|..."
// for the classes inheriting from GraphicClass, the default extension of a
// class ("bmp") and the mask of all its extensions ("*.bmp;*.dib").
String GraphicFilter(TGraphicClass GraphicClass);
String GraphicExtension(TGraphicClass GraphicClass);
String GraphicFileMask(TGraphicClass GraphicClass);
