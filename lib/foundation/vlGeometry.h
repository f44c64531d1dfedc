// Rectangles and sizes as published, change-notifying properties, and the
// small functions on rectangles, points and sizes. Rectangles are half-open
// (Left <= x < Right, Top <= y < Bottom); every halving truncates toward
// zero. Sums and differences wrap like the platform's 32-bit arithmetic.
#pragma once

#include "platform/classes/Classes.h"
#include "platform/rtl/Geometry.h"

// A rectangle property: Left, Top, Right, Bottom (published, one indexed
// accessor), OnChange fired when a change really moves a coordinate.
class TvlRect : public TPersistent {
  CL_CLASS(TvlRect, TPersistent)
 public:
  virtual void Create(TPersistent* AOwner);
  // From a TvlRect its rectangle; any other source is ignored.
  void Assign(TPersistent* Source) override;
  TPersistent* GetOwner() override { return FOwner; }

  TPersistent* Owner() const { return FOwner; }
  const TRect& Rect() const { return FRect; }
  // Passes a copy through ValidateRect; stores it and fires OnChange when a
  // coordinate differs.
  void SetRect(const TRect& Value);
  // 0 Left, 1 Top, 2 Right, 3 Bottom.
  Integer GetValue(Integer AIndex) const;
  void SetValue(Integer AIndex, Integer AValue);
  Integer Left() const { return FRect.Left; }
  Integer Top() const { return FRect.Top; }
  Integer Right() const { return FRect.Right; }
  Integer Bottom() const { return FRect.Bottom; }
  void SetLeft(Integer Value) { SetValue(0, Value); }
  void SetTop(Integer Value) { SetValue(1, Value); }
  void SetRight(Integer Value) { SetValue(2, Value); }
  void SetBottom(Integer Value) { SetValue(3, Value); }
  Integer Width() const;
  Integer Height() const;
  // Right := Left + Value; Bottom := Top + Value.
  void SetWidth(Integer Value);
  void SetHeight(Integer Value);
  // 0 TopLeft, 1 TopRight, 2 BottomLeft, 3 BottomRight.
  TPoint GetPoint(Integer AIndex) const;
  void SetPoint(Integer AIndex, const TPoint& Value);
  TPoint TopLeft() const { return GetPoint(0); }
  TPoint TopRight() const { return GetPoint(1); }
  TPoint BottomLeft() const { return GetPoint(2); }
  TPoint BottomRight() const { return GetPoint(3); }
  void SetTopLeft(const TPoint& Value) { SetPoint(0, Value); }
  void SetTopRight(const TPoint& Value) { SetPoint(1, Value); }
  void SetBottomLeft(const TPoint& Value) { SetPoint(2, Value); }
  void SetBottomRight(const TPoint& Value) { SetPoint(3, Value); }
  TRect* Data() { return &FRect; }
  Boolean IsEmpty() const;
  Boolean IsEqual(const TRect& ARect) const;
  Boolean IsEqual(const TvlRect* ARect) const;

  const TNotifyEvent& OnChange() const { return FOnChange; }
  void SetOnChange(const TNotifyEvent& Value) { FOnChange = Value; }

 protected:
  // A descendant may correct a new rectangle before it is stored.
  virtual void ValidateRect(TRect& ARect) {}

 private:
  void DoChange();
  TPersistent* FOwner{};
  TRect FRect{};
  TNotifyEvent FOnChange;
};

// A size property: Width and Height (published, written when not 0), never
// negative.
class TvlSize : public TPersistent {
  CL_CLASS(TvlSize, TPersistent)
 public:
  virtual void Create(TPersistent* AOwner);
  // From a TvlSize its size; anything else is refused as TPersistent refuses.
  void Assign(TPersistent* Source) override;
  TPersistent* GetOwner() override { return FOwner; }

  TPersistent* Owner() const { return FOwner; }
  const TSize& Size() const { return FSize; }
  // Negative components become 0; stores and signals when it differs.
  virtual void SetSize(const TSize& Value);
  Integer Width() const { return GetValue(1); }
  Integer Height() const { return GetValue(0); }
  void SetWidth(Integer Value) { SetValue(1, Value); }
  void SetHeight(Integer Value) { SetValue(0, Value); }
  TSize* Data() { return &FSize; }
  Boolean IsEmpty() const { return FSize.cx == 0 && FSize.cy == 0; }
  Boolean IsEqual(const TSize& ASize) const;
  Boolean IsEqual(const TvlSize* ASize) const;

  const TNotifyEvent& OnChange() const { return FOnChange; }
  void SetOnChange(const TNotifyEvent& Value) { FOnChange = Value; }

  // Index 1 Width, 0 Height.
  virtual Integer GetValue(Integer AIndex) const;
  void SetValue(Integer AIndex, Integer AValue);
  // Whether the value is not 0 (written to a form then).
  virtual Boolean IsValueStored(Integer AIndex) const;

 protected:
  virtual void SignalChange();

 private:
  TPersistent* FOwner{};
  TSize FSize{};
  TNotifyEvent FOnChange;
};

Integer vlGetRectWidth(const TRect& R);
Integer vlGetRectHeight(const TRect& R);
// True unless Left < Right and Top < Bottom.
Boolean vlIsRectEmpty(const TRect& R);
Boolean vlIsRectZero(const TRect& R);
Boolean vlRectsEqual(const TRect& A, const TRect& B);
Boolean vlPointsEqual(const TPoint& A, const TPoint& B);
Boolean vlSizesEqual(const TSize& A, const TSize& B);
// Left <= X < Right and Top <= Y < Bottom.
Boolean vlPointInRect(const TRect& R, const TPoint& P);
TRect vlMakeRect(Integer ALeft, Integer ATop, Integer ARight, Integer ABottom);
TRect vlRectFromCorners(const TPoint& ATopLeft, const TPoint& ABottomRight);
TRect vlRectFromBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight);
TPoint vlMakePoint(Integer AX, Integer AY);
TSize vlMakeSize(Integer AWidth, Integer AHeight);
TRect vlInflateRectBy(const TRect& R, Integer H, Integer V);
TRect vlInflateRectSides(const TRect& R, Integer ALeft, Integer ATop, Integer ARight, Integer ABottom);
TRect vlDeflateRectByBorders(const TRect& R, const TRect& ABorders);
TRect vlOffsetRect(const TRect& R, Integer H, Integer V, Boolean APositive = true);
TRect vlOffsetRectByPoint(const TRect& R, const TPoint& P, Boolean APositive = true);
TRect vlOffsetRectHorz(const TRect& R, Integer H);
TPoint vlOffsetPoint(const TPoint& P, Integer AX, Integer AY, Boolean APositive = true);
TPoint vlOffsetPointByRectOrigin(const TPoint& P, const TRect& R, Boolean APositive = true);
TPoint vlNegatePoint(const TPoint& P);
TRect vlNegateRect(const TRect& R);
TRect vlRectWithLeft(const TRect& R, Integer AX, Integer AWidth);
TRect vlRectWithHorzRange(const TRect& R, Integer AX, Integer AWidth);
TRect vlRectWithTop(const TRect& R, Integer AY, Integer AHeight);
TRect vlRectWithBottom(const TRect& R, Integer AY, Integer AHeight);
TRect vlRectWithWidth(const TRect& R, Integer AWidth);
// A when B has no positive width or height; otherwise the smallest rectangle
// covering both (A counts as it is, even when empty).
TRect vlUnionRects(const TRect& A, const TRect& B);
TPoint vlRectCenterPoint(const TRect& R);
TRect vlCenterExtentInRect(const TRect& R, Integer AWidth, Integer AHeight);
TRect vlCenterSizeInRect(const TRect& R, const TSize& ASize);
