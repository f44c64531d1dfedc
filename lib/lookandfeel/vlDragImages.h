// The feedback windows of dragging: the alpha-blended drag image, the
// hatched size frame cut to its ring, and the insertion arrow with its
// geometry and polygon.
#pragma once

#include "lib/lookandfeel/vlPopupWindow.h"

class TBitmap;
class TvlRegion;

CL_ENUM(TvlArrowPlace, Byte, apLeft, apTop, apRight, apBottom)

// A window that shows a picture under the pointer: never erased, never
// taking the mouse, owned by the popup parent or the active form.
class TvlCustomDragImage : public TvlPopupWindow {
  CL_CLASS(TvlCustomDragImage, TvlPopupWindow)
 public:
  void Create() override;
  void BeforeDestruction() override;

  // Size of the source, offset of the grip point inside it.
  void Init(const TRect& ASourceBounds, const TPoint& ASourcePoint);
  // Places the window at APosition - PositionOffset.
  void MoveTo(const TPoint& APosition);
  void Show(Integer ACmdShow);
  void Hide();

  TPoint PositionOffset() const { return FPositionOffset; }
  void SetPositionOffset(const TPoint& Value) { FPositionOffset = Value; }
  Boolean AlphaBlended();
  Boolean Visible();
  // True shows without activating; False hides.
  void SetVisible(Boolean Value);

  void Dispatch(TMessage& Message) override;

 protected:
  void CreateParams(TCreateParams& Params) override;

 private:
  TPoint FPositionOffset{};
};

// A drag image that shows a bitmap callers draw on through Canvas.
class TvlDragImage : public TvlCustomDragImage {
  CL_CLASS(TvlDragImage, TvlCustomDragImage)
 public:
  void Create() override;
  void Destroy() override;
  void SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) override;
  TvlCanvas* Canvas() const { return FImageCanvas; }
  TBitmap* Image() const { return FImage; }

 protected:
  void Paint() override;

 private:
  TBitmap* FImage{};
  TvlCanvas* FImageCanvas{};
};

// A hatched frame FrameWidth thick shown as a window whose region is the
// ring of the frame (or the whole shape with FillSelection).
class TvlSizeFrame : public TvlCustomDragImage {
  CL_CLASS(TvlSizeFrame, TvlCustomDragImage)
 public:
  using inherited::Create;
  virtual void Create(Integer AFrameWidth);
  void Destroy() override;
  void DrawSizeFrame(const TRect& ARect);
  // ARegion in window coordinates.
  void DrawSizeFrame(const TRect& ARect, win::HRGN ARegion);
  void SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) override;

  Boolean FillSelection() const { return FFillSelection; }
  void SetFillSelection(Boolean Value) { FFillSelection = Value; }
  Integer FrameWidth() const { return FFrameWidth; }

 protected:
  void Paint() override;

 private:
  Boolean FFillSelection{};
  Integer FFrameWidth{};
  TvlRegion* FRegion{};
  TBitmap* FPattern{};
};

// The insertion arrow beside an area, in a colour-keyed or shaped window.
class TvlDragAndDropArrow : public TvlDragImage {
  CL_CLASS(TvlDragAndDropArrow, TvlDragImage)
 public:
  using inherited::Create;
  virtual void Create(Boolean ATransparent);
  // AAreaBounds and AClientRect in AOwner's client coordinates (screen
  // coordinates when AOwner is nil).
  void Init(TControl* AOwner, const TRect& AAreaBounds, TvlArrowPlace APlace, const TRect& AClientRect);
  Boolean Transparent();

 protected:
  virtual TColor GetTransparentColor() { return clFuchsia; }

 private:
  Boolean FTransparent{};
};

TRect vlGetDragAndDropArrowBounds(const TRect& AAreaBounds, const TRect& AClientRect, TvlArrowPlace APlace);
// The seven points of the arrow in ARect; ARegion adds the region's extra pixel.
std::vector<TPoint> vlGetDragAndDropArrowPoints(const TRect& ARect, TvlArrowPlace APlace, Boolean ARegion);
void vlDrawDragAndDropArrow(TvlCanvas* ACanvas, const TRect& ARect, TvlArrowPlace APlace);
