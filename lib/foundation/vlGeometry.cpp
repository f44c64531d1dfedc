#include "lib/foundation/vlGeometry.h"

#include "platform/classes/ClassRegistry.h"
#include "platform/classes/ModuleInit.h"
#include "platform/classes/TypInfoBuild.h"
#include "platform/rtl/Numbers.h"

CL_IMPLEMENT_CLASS_PUBLISHED(TvlRect, P) {
  P.IndexedProperty(u"Left", 0, &TvlRect::GetValue, &TvlRect::SetValue).Default(0);
  P.IndexedProperty(u"Top", 1, &TvlRect::GetValue, &TvlRect::SetValue).Default(0);
  P.IndexedProperty(u"Right", 2, &TvlRect::GetValue, &TvlRect::SetValue).Default(0);
  P.IndexedProperty(u"Bottom", 3, &TvlRect::GetValue, &TvlRect::SetValue).Default(0);
  P.Property(u"OnChange", &TvlRect::OnChange, &TvlRect::SetOnChange);
}

CL_IMPLEMENT_CLASS_PUBLISHED(TvlSize, P) {
  P.IndexedProperty(u"Width", 1, &TvlSize::GetValue, &TvlSize::SetValue)
      .NoDefault()
      .Stored(&TvlSize::IsValueStored);
  P.IndexedProperty(u"Height", 0, &TvlSize::GetValue, &TvlSize::SetValue)
      .NoDefault()
      .Stored(&TvlSize::IsValueStored);
}

namespace {

// Halves toward zero without overflowing the sum.
Integer HalfOf(Int64 AValue) { return static_cast<Integer>(AValue / 2); }

void Startup() { RegisterClass(TvlRect::StaticClass()); }
void Shutdown() { UnRegisterClass(TvlRect::StaticClass()); }

}  // namespace

CL_UNIT_STEPS(vlGeometry, &Startup, &Shutdown);

// --- TvlRect -------------------------------------------------------------------------

void TvlRect::Create(TPersistent* AOwner) { FOwner = AOwner; }

void TvlRect::Assign(TPersistent* Source) {
  if (Is<TvlRect>(Source)) SetRect(static_cast<TvlRect*>(Source)->Rect());
}

void TvlRect::DoChange() {
  if (FOnChange) FOnChange(this);
}

void TvlRect::SetRect(const TRect& Value) {
  TRect r = Value;
  ValidateRect(r);
  if (r == FRect) return;
  FRect = r;
  DoChange();
}

Integer TvlRect::GetValue(Integer AIndex) const {
  switch (AIndex) {
    case 0:
      return FRect.Left;
    case 1:
      return FRect.Top;
    case 2:
      return FRect.Right;
    case 3:
      return FRect.Bottom;
    default:
      throw ERangeError(u"Range check error");
  }
}

void TvlRect::SetValue(Integer AIndex, Integer AValue) {
  TRect r = FRect;
  switch (AIndex) {
    case 0:
      r.Left = AValue;
      break;
    case 1:
      r.Top = AValue;
      break;
    case 2:
      r.Right = AValue;
      break;
    case 3:
      r.Bottom = AValue;
      break;
    default:
      throw ERangeError(u"Range check error");
  }
  SetRect(r);
}

Integer TvlRect::Width() const { return vlGetRectWidth(FRect); }
Integer TvlRect::Height() const { return vlGetRectHeight(FRect); }

void TvlRect::SetWidth(Integer Value) { SetValue(2, WrapAdd(FRect.Left, Value)); }
void TvlRect::SetHeight(Integer Value) { SetValue(3, WrapAdd(FRect.Top, Value)); }

TPoint TvlRect::GetPoint(Integer AIndex) const {
  switch (AIndex) {
    case 0:
      return TPoint{FRect.Left, FRect.Top};
    case 1:
      return TPoint{FRect.Right, FRect.Top};
    case 2:
      return TPoint{FRect.Left, FRect.Bottom};
    case 3:
      return TPoint{FRect.Right, FRect.Bottom};
    default:
      throw ERangeError(u"Range check error");
  }
}

void TvlRect::SetPoint(Integer AIndex, const TPoint& Value) {
  TRect r = FRect;
  switch (AIndex) {
    case 0:
      r.Left = Value.X;
      r.Top = Value.Y;
      break;
    case 1:
      r.Right = Value.X;
      r.Top = Value.Y;
      break;
    case 2:
      r.Left = Value.X;
      r.Bottom = Value.Y;
      break;
    case 3:
      r.Right = Value.X;
      r.Bottom = Value.Y;
      break;
    default:
      throw ERangeError(u"Range check error");
  }
  SetRect(r);
}

Boolean TvlRect::IsEmpty() const { return vlIsRectEmpty(FRect); }
Boolean TvlRect::IsEqual(const TRect& ARect) const { return FRect == ARect; }
Boolean TvlRect::IsEqual(const TvlRect* ARect) const { return ARect && FRect == ARect->FRect; }

// --- TvlSize --------------------------------------------------------------------------

void TvlSize::Create(TPersistent* AOwner) { FOwner = AOwner; }

void TvlSize::Assign(TPersistent* Source) {
  if (Is<TvlSize>(Source))
    SetSize(static_cast<TvlSize*>(Source)->Size());
  else
    inherited::Assign(Source);
}

void TvlSize::SignalChange() {
  if (FOnChange) FOnChange(this);
}

void TvlSize::SetSize(const TSize& Value) {
  TSize s{Value.cx < 0 ? 0 : Value.cx, Value.cy < 0 ? 0 : Value.cy};
  if (s == FSize) return;
  FSize = s;
  SignalChange();
}

Integer TvlSize::GetValue(Integer AIndex) const { return AIndex == 1 ? FSize.cx : FSize.cy; }

void TvlSize::SetValue(Integer AIndex, Integer AValue) {
  TSize s = FSize;
  if (AIndex == 1)
    s.cx = AValue;
  else
    s.cy = AValue;
  SetSize(s);
}

Boolean TvlSize::IsValueStored(Integer AIndex) const { return GetValue(AIndex) != 0; }

Boolean TvlSize::IsEqual(const TSize& ASize) const { return FSize == ASize; }
Boolean TvlSize::IsEqual(const TvlSize* ASize) const { return ASize && FSize == ASize->FSize; }

// --- Functions ------------------------------------------------------------------------

Integer vlGetRectWidth(const TRect& R) { return WrapSub(R.Right, R.Left); }
Integer vlGetRectHeight(const TRect& R) { return WrapSub(R.Bottom, R.Top); }
Boolean vlIsRectEmpty(const TRect& R) { return !(R.Left < R.Right && R.Top < R.Bottom); }
Boolean vlIsRectZero(const TRect& R) { return R.Left == 0 && R.Top == 0 && R.Right == 0 && R.Bottom == 0; }
Boolean vlRectsEqual(const TRect& A, const TRect& B) { return A == B; }
Boolean vlPointsEqual(const TPoint& A, const TPoint& B) { return A == B; }
Boolean vlSizesEqual(const TSize& A, const TSize& B) { return A == B; }

Boolean vlPointInRect(const TRect& R, const TPoint& P) {
  return R.Left <= P.X && P.X < R.Right && R.Top <= P.Y && P.Y < R.Bottom;
}

TRect vlMakeRect(Integer ALeft, Integer ATop, Integer ARight, Integer ABottom) {
  return TRect{ALeft, ATop, ARight, ABottom};
}

TRect vlRectFromCorners(const TPoint& ATopLeft, const TPoint& ABottomRight) {
  return TRect{ATopLeft.X, ATopLeft.Y, ABottomRight.X, ABottomRight.Y};
}

TRect vlRectFromBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) {
  return TRect{ALeft, ATop, WrapAdd(ALeft, AWidth), WrapAdd(ATop, AHeight)};
}

TPoint vlMakePoint(Integer AX, Integer AY) { return TPoint{AX, AY}; }
TSize vlMakeSize(Integer AWidth, Integer AHeight) { return TSize{AWidth, AHeight}; }

TRect vlInflateRectBy(const TRect& R, Integer H, Integer V) { return vlInflateRectSides(R, H, V, H, V); }

TRect vlInflateRectSides(const TRect& R, Integer ALeft, Integer ATop, Integer ARight, Integer ABottom) {
  return TRect{WrapSub(R.Left, ALeft), WrapSub(R.Top, ATop), WrapAdd(R.Right, ARight),
               WrapAdd(R.Bottom, ABottom)};
}

TRect vlDeflateRectByBorders(const TRect& R, const TRect& ABorders) {
  return TRect{WrapAdd(R.Left, ABorders.Left), WrapAdd(R.Top, ABorders.Top), WrapSub(R.Right, ABorders.Right),
               WrapSub(R.Bottom, ABorders.Bottom)};
}

TRect vlOffsetRect(const TRect& R, Integer H, Integer V, Boolean APositive) {
  if (!APositive) {
    H = WrapNeg(H);
    V = WrapNeg(V);
  }
  return TRect{WrapAdd(R.Left, H), WrapAdd(R.Top, V), WrapAdd(R.Right, H), WrapAdd(R.Bottom, V)};
}

TRect vlOffsetRectByPoint(const TRect& R, const TPoint& P, Boolean APositive) {
  return vlOffsetRect(R, P.X, P.Y, APositive);
}

TRect vlOffsetRectHorz(const TRect& R, Integer H) {
  return TRect{WrapAdd(R.Left, H), R.Top, WrapAdd(R.Right, H), R.Bottom};
}

TPoint vlOffsetPoint(const TPoint& P, Integer AX, Integer AY, Boolean APositive) {
  if (APositive) return TPoint{WrapAdd(P.X, AX), WrapAdd(P.Y, AY)};
  return TPoint{WrapSub(P.X, AX), WrapSub(P.Y, AY)};
}

TPoint vlOffsetPointByRectOrigin(const TPoint& P, const TRect& R, Boolean APositive) {
  return vlOffsetPoint(P, R.Left, R.Top, APositive);
}

TPoint vlNegatePoint(const TPoint& P) { return TPoint{WrapNeg(P.X), WrapNeg(P.Y)}; }

TRect vlNegateRect(const TRect& R) {
  return TRect{WrapNeg(R.Left), WrapNeg(R.Top), WrapNeg(R.Right), WrapNeg(R.Bottom)};
}

TRect vlRectWithLeft(const TRect& R, Integer AX, Integer AWidth) {
  return TRect{AX, R.Top, WrapAdd(AX, AWidth), R.Bottom};
}

TRect vlRectWithHorzRange(const TRect& R, Integer AX, Integer AWidth) {
  return vlRectWithLeft(R, AX, AWidth);
}

TRect vlRectWithTop(const TRect& R, Integer AY, Integer AHeight) {
  return TRect{R.Left, AY, R.Right, WrapAdd(AY, AHeight)};
}

TRect vlRectWithBottom(const TRect& R, Integer AY, Integer AHeight) {
  return TRect{R.Left, WrapSub(AY, AHeight), R.Right, AY};
}

TRect vlRectWithWidth(const TRect& R, Integer AWidth) {
  return TRect{R.Left, R.Top, WrapAdd(R.Left, AWidth), R.Bottom};
}

TRect vlUnionRects(const TRect& A, const TRect& B) {
  if (vlGetRectWidth(B) <= 0 || vlGetRectHeight(B) <= 0) return A;
  return TRect{A.Left < B.Left ? A.Left : B.Left, A.Top < B.Top ? A.Top : B.Top,
               A.Right > B.Right ? A.Right : B.Right, A.Bottom > B.Bottom ? A.Bottom : B.Bottom};
}

TPoint vlRectCenterPoint(const TRect& R) {
  return TPoint{HalfOf(Int64(R.Left) + R.Right), HalfOf(Int64(R.Top) + R.Bottom)};
}

TRect vlCenterExtentInRect(const TRect& R, Integer AWidth, Integer AHeight) {
  Integer left = HalfOf(Int64(R.Left) + R.Right - AWidth);
  Integer top = HalfOf(Int64(R.Top) + R.Bottom - AHeight);
  return vlRectFromBounds(left, top, AWidth, AHeight);
}

TRect vlCenterSizeInRect(const TRect& R, const TSize& ASize) {
  return vlCenterExtentInRect(R, ASize.cx, ASize.cy);
}
