// The library's graphics unit: regions (TvlRegion), the canvas every painter
// draws through (TvlCanvas) with its state stacks, clip operations, frames,
// edges, text with the library's text flags, glyphs, pies and bitmap
// rotation, the shared screen and paint canvases, and the view parameters
// (bitmap, colour, font, text colour) that styles resolve for painting.
#pragma once

#include <vector>

#include "lib/foundation/vlClasses.h"
#include "platform/vcl/Graphics.h"

class TCustomImageList;

// --- Regions -------------------------------------------------------------------------

CL_ENUM(TvlRegionOperation, Byte, roSet, roAdd, roSubtract, roIntersect)

// Owns one region handle (deleted with the object).
class TvlRegion : public TObject {
  CL_CLASS(TvlRegion, TObject)
 public:
  // Takes over an existing region handle.
  void Create(win::HRGN AHandle);
  void Create(const TRect& ABounds);
  // The empty region (0, 0, 0, 0).
  void Create();
  void Create(Integer ALeft, Integer ATop, Integer ARight, Integer ABottom);
  // A rounded rectangle whose left and top edges move in by one pixel.
  void CreateRoundCorners(const TRect& ABounds, Integer AWidthEllipse, Integer AHeightEllipse);
  void CreateRoundCorners(Integer ALeft, Integer ATop, Integer ARight, Integer ABottom, Integer AWidthEllipse,
                          Integer AHeightEllipse);
  void Destroy() override;

  // roSet copies ARegion; the others combine it into this region. ARegion is
  // freed afterwards when ADestroyRegion.
  void Combine(TvlRegion* ARegion, TvlRegionOperation AOperation, Boolean ADestroyRegion = true);
  // False for nil; two empty regions are equal wherever they are.
  Boolean IsEqual(TvlRegion* ARegion);
  Boolean IsEqual(win::HRGN ARegion);
  void Offset(Integer ADeltaX, Integer ADeltaY);
  void Offset(const TPoint& P) { Offset(P.X, P.Y); }
  Boolean PtInRegion(Integer X, Integer Y);
  Boolean PtInRegion(const TPoint& Pt) { return PtInRegion(Pt.X, Pt.Y); }
  Boolean RectInRegion(const TRect& R);
  Boolean RectInRegion(Integer ALeft, Integer ATop, Integer ARight, Integer ABottom);

  win::HRGN Handle() const { return FHandle; }
  // Takes over the handle (the old one is not deleted).
  void SetHandle(win::HRGN Value) { FHandle = Value; }
  // The bounding box; (0, 0, 0, 0) for an empty region.
  TRect BoundsRect();
  Boolean IsEmpty();

 private:
  win::HRGN FHandle{};
};

// --- View parameters -------------------------------------------------------------------

// What a style resolves for one painted element; an unset bitmap or font is
// nil, an unset colour clDefault.
struct TvlViewParams {
  TBitmap* Bitmap{};
  TColor Color{};
  TFont* Font{};
  TColor TextColor{};
};

// --- Canvas text flags -------------------------------------------------------------------

// The library's 16-bit text flags (converted to DrawText flags for output).
constexpr Integer vlAlignLeft = 0x0001;
constexpr Integer vlAlignRight = 0x0002;
constexpr Integer vlAlignHCenter = 0x0004;
constexpr Integer vlAlignTop = 0x0008;
constexpr Integer vlAlignBottom = 0x0010;
constexpr Integer vlAlignVCenter = 0x0020;
constexpr Integer vlSingleLine = 0x0040;
constexpr Integer vlDontClip = 0x0080;
constexpr Integer vlExpandTabs = 0x0100;
constexpr Integer vlShowPrefix = 0x0200;
constexpr Integer vlWordBreak = 0x0400;
constexpr Integer vlShowEndEllipsis = 0x0800;
constexpr Integer vlCalcRect = 0x1000;
constexpr Integer vlShowPathEllipsis = 0x2000;
// With vlWordBreak: words wider than the line are not broken (no DT_EDITCONTROL).
constexpr Integer vlDontBreakChars = 0x4000;
// With vlWordBreak and vlDontBreakChars: DT_NOFULLWIDTHCHARBREAK.
constexpr Integer vlNoFullWidthCharBreak = 0x8000;

// The DrawText flags of the library's text flags (DT_NOPREFIX unless vlShowPrefix).
Cardinal vlTextFlagsToDrawTextFlags(Integer AFlags);

// --- Borders ------------------------------------------------------------------------------

CL_ENUM(TvlBorder, Byte, bLeft, bTop, bRight, bBottom)
using TvlBorders = TSet<TvlBorder, 1>;
CL_SET_TYPEINFO(TvlBorders)
inline constexpr TvlBorders vlBordersAll{bLeft, bTop, bRight, bBottom};

CL_ENUM(TvlRotationAngle, Byte, ra0, raPlus90, raMinus90, ra180)

// --- TvlCanvas -----------------------------------------------------------------------------

struct TvlDCState {
  win::HDC Handle{};
  Integer State{};
};
using TvlDCStates = std::vector<TvlDCState>;

struct TvlCanvasState {
  TFont* Font{};
  TBrush* Brush{};
  TPen* Pen{};
};
using TvlCanvasStates = std::vector<TvlCanvasState>;

// Wraps a platform canvas (not owned) with stacks of DC states, canvas
// states (font, brush, pen) and clip regions. Every Save has its Restore,
// in reverse order.
class TvlCanvas : public TObject {
  CL_CLASS(TvlCanvas, TObject)
 public:
  virtual void Create(TCanvas* ACanvas);
  void Destroy() override;

  TCanvas* Canvas() const { return FCanvas; }
  void SetCanvas(TCanvas* Value) { FCanvas = Value; }
  TBrush* Brush() const { return FCanvas->Brush(); }
  void SetBrush(TBrush* Value) { FCanvas->SetBrush(Value); }
  TFont* Font() const { return FCanvas->Font(); }
  void SetFont(TFont* Value) { FCanvas->SetFont(Value); }
  TPen* Pen() const { return FCanvas->Pen(); }
  void SetPen(TPen* Value) { FCanvas->SetPen(Value); }
  TCopyMode CopyMode() const { return FCanvas->CopyMode(); }
  void SetCopyMode(TCopyMode Value) { FCanvas->SetCopyMode(Value); }
  win::HDC Handle() const { return FCanvas->Handle(); }
  TPoint WindowOrg();
  void SetWindowOrg(const TPoint& Value);
  TPoint ViewportOrg();
  void SetViewportOrg(const TPoint& Value);
  // The viewport origin minus the window origin (logical to device offset).
  TPoint DCOrigin();

  // State stacks.
  void SaveDC();
  void RestoreDC();
  void SaveState();
  void RestoreState();
  void SaveClipRegion();
  void RestoreClipRegion();

  // Clipping. A DC without a clip region answers (0, 0, 30000, 30000), the
  // absence of clipping; with AConsiderOrigin in logical coordinates.
  TvlRegion* GetClipRegion(Boolean AConsiderOrigin = true);
  void SetClipRegion(TvlRegion* ARegion, TvlRegionOperation AOperation, Boolean AConsiderOrigin = true,
                     Boolean ADestroyRegion = true);
  void ExcludeClipRect(const TRect& R);
  void IntersectClipRect(const TRect& R);
  Boolean RectVisible(const TRect& R);
  Boolean RectFullyVisible(const TRect& R);

  // Fills and frames.
  // clNone draws nothing; clDefault fills with the current brush.
  void FillRect(const TRect& R, TColor AColor = clDefault);
  // Tiles ABitmap from the logical origin (the brush when it is nil or
  // empty); then removes R from the clip region when AExcludeRect.
  void FillRect(const TRect& R, TBitmap* ABitmap, Boolean AExcludeRect = false);
  void FillRect(const TRect& R, const TvlViewParams& AParams, TvlBorders ABorders = TvlBorders(),
                TColor ABorderColor = clDefault, Integer ALineWidth = 1, Boolean AExcludeRect = false);
  void FrameRect(const TRect& R, TColor AColor = clDefault, Integer ALineWidth = 1,
                 TvlBorders ABorders = vlBordersAll, Boolean AExcludeFrame = false);
  void DrawComplexFrame(const TRect& R, TColor ALeftTopColor, TColor ARightBottomColor,
                        TvlBorders ABorders = vlBordersAll, Integer ABorderWidth = 1);
  void DrawEdge(const TRect& R, Boolean ASunken, Boolean AOuter, TvlBorders ABorders = vlBordersAll);
  void DrawFocusRect(const TRect& R);
  void DrawDesignSelection(const TRect& ARect, Integer AWidth = 2);
  void InvertRect(const TRect& R);
  void InvertFrame(const TRect& R, Integer ABorderSize);
  void FillRegion(TvlRegion* ARegion, TColor AColor = clDefault);
  void FillRegion(win::HRGN ARegion, TColor AColor = clDefault);
  void FrameRegion(TvlRegion* ARegion, TColor AColor = clDefault, Integer ABorderWidth = 1,
                   Integer ABorderHeight = 1);
  void FrameRegion(win::HRGN ARegion, TColor AColor = clDefault, Integer ABorderWidth = 1,
                   Integer ABorderHeight = 1);
  void DrawRegion(TvlRegion* ARegion, TColor AContentColor = clDefault, TColor ABorderColor = clDefault,
                  Integer ABorderWidth = 1, Integer ABorderHeight = 1);
  void DrawRegion(win::HRGN ARegion, TColor AContentColor = clDefault, TColor ABorderColor = clDefault,
                  Integer ABorderWidth = 1, Integer ABorderHeight = 1);

  // Glyphs and images.
  void DrawGlyph(Integer X, Integer Y, TBitmap* AGlyph, Boolean AEnabled = true, TColor ABackgroundColor = clNone);
  void DrawImage(TCustomImageList* Images, Integer X, Integer Y, Integer Index, Boolean Enabled = true);
  void TransparentDraw(Integer X, Integer Y, TBitmap* ABitmap, Byte AAlpha, TBitmap* ABackground = nullptr);

  // Text.
  void DrawTexT(const String& Text, const TRect& R, Integer Flags, Boolean Enabled = true);
  void DrawTexT(const String& Text, const TRect& R, TAlignment AAlignHorz, TvlAlignmentVert AAlignVert,
                Boolean AMultiLine, Boolean AShowEndEllipsis);
  TSize TextExtent(const String& Text);
  // Measures Text laid out in R by the flags; R becomes the text's
  // rectangle, aligned inside R as it was on entry.
  void TextExtent(const String& Text, TRect& R, Integer Flags);
  Integer TextWidth(const String& Text) { return TextExtent(Text).cx; }
  Integer TextHeight(const String& Text) { return TextExtent(Text).cy; }
  Integer FontHeight(TFont* AFont);
  // Moves R's top so that multi-line text sits at the bottom (vaBottom) or
  // in the middle (otherwise) of R.
  void AlignMultiLineTextRectVertically(TRect& R, const String& AText, Boolean AShowEndEllipsis,
                                        Boolean ADontBreakChars, Boolean AEnabled, Boolean AShowPrefix,
                                        Boolean AWordBreak, TvlAlignmentVert AAlignmentVert);
  // The rectangles of the lines DrawTexT would draw with word wrapping at R's width.
  void GetTextStringsBounds(const String& Text, const TRect& R, Integer Flags, Boolean Enabled,
                            std::vector<TRect>& ABounds);

  // Shapes and bitmaps.
  void Pie(const TRect& R, const TPoint& ARadial1, const TPoint& ARadial2);
  // Angles in degrees, counter-clockwise from the positive x axis.
  void Pie(const TRect& R, Integer AStartAngle, Integer ASweepAngle);
  void RotateBitmap(TBitmap* ABitmap, TvlRotationAngle AAngle, Boolean AFlipVertically = false);
  void FlipHorizontally(TBitmap* ABitmap);

  // Parameters.
  void GetParams(TvlViewParams& AParams);
  void SetParams(const TvlViewParams& AParams);
  void SetBrushColor(TColor AColor);
  void SetFontAngle(Integer ADegrees);

  // Paths.
  void BeginPath();
  void EndPath();
  void WidenPath();
  TvlRegion* PathToRegion();

  // The wrapped canvas's operations.
  void CopyRect(const TRect& Dest, TCanvas* ACanvas, const TRect& Source);
  void Draw(Integer X, Integer Y, TGraphic* Graphic);
  void LineTo(Integer X, Integer Y);
  void MoveTo(Integer X, Integer Y);
  void Polygon(const std::vector<TPoint>& Points);
  void Polyline(const std::vector<TPoint>& Points);
  void SetPixel(Integer X, Integer Y, TColor AColor);

  Integer DCStateCount() const { return static_cast<Integer>(FSavedDCs.size()); }
  Integer CanvasStateCount() const { return static_cast<Integer>(FSavedStates.size()); }
  Integer ClipRegionCount() const { return static_cast<Integer>(FSavedRegions.size()); }

 protected:
  // Makes the wrapped canvas's font, brush and pen describe the objects
  // selected into ADC. With AKeepPending, an object the canvas has not yet
  // selected (the DC holds the canvas's placeholder) is kept.
  void TakeObjectsFrom(win::HDC ADC, Boolean AKeepPending);

 private:
  void OutputText(const String& AText, TRect R, Boolean ADrawTextPath, Cardinal AFormat);
  TCanvas* FCanvas{};
  TvlDCStates FSavedDCs;
  std::vector<TvlRegion*> FSavedRegions;
  TvlCanvasStates FSavedStates;
};

// --- Screen and paint canvases --------------------------------------------------------------

// A canvas on the desktop window's DC (taken from the DC cache on use).
class TScreenCanvas : public TCanvas {
  CL_CLASS(TScreenCanvas, TCanvas)
 public:
  void Destroy() override;
  // Releases the DC until the next use.
  void FreeHandle();

 protected:
  void CreateHandle() override;
};

// Measures text on the desktop DC.
class TvlScreenCanvas : public TvlCanvas {
  CL_CLASS(TvlScreenCanvas, TvlCanvas)
 public:
  using inherited::Create;
  void Create();
  void Destroy() override;
  // Releases the DC until the next use.
  void Dormant();
};

struct TvlPaintCanvasState {
  TCanvas* PrevCanvas{};
  win::HDC PrevHandle{};
  win::HDC DC{};
  Integer SaveDCIndex{};
  Boolean IsCanvas{};
};

// One shared canvas pointed at a DC or a canvas in nested BeginPaint/EndPaint pairs.
class TvlPaintCanvas : public TvlCanvas {
  CL_CLASS(TvlPaintCanvas, TvlCanvas)
 public:
  using inherited::Create;
  void Create();
  void Destroy() override;
  void BeginPaint(win::HDC DC);
  void BeginPaint(TCanvas* ACanvas);
  // Closes the innermost pair (nothing when none is open).
  void EndPaint();
  Integer PaintCount() const { return static_cast<Integer>(FStates.size()); }

 private:
  TCanvas* FOwnCanvas{};
  std::vector<TvlPaintCanvasState> FStates;
};

// The shared canvases, made on first use; nil once the unit is finalizing.
TvlScreenCanvas* vlGetScreenCanvas();
TvlPaintCanvas* vlGetPaintCanvas();
