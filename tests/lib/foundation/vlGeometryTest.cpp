#include "lib/foundation/vlGeometry.h"

#include <gtest/gtest.h>

#include <memory>

#include "platform/classes/ClassRegistry.h"
#include "platform/classes/TypInfo.h"

namespace {

template <class T>
using Owned = std::unique_ptr<T, TObjectFree>;

struct ChangeCounter {
  Integer Count = 0;
  void Changed(TObject*) { ++Count; }
};

::testing::AssertionResult RectIs(const TRect& R, Integer L, Integer T, Integer Rt, Integer B) {
  if (R.Left == L && R.Top == T && R.Right == Rt && R.Bottom == B) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << "(" << R.Left << "," << R.Top << "," << R.Right << "," << R.Bottom << ")";
}

TEST(GeometryFunctions, RectangleResults) {
  const TRect r{10, 20, 30, 50};
  struct Case {
    const char* Name;
    TRect Got;
    TRect Want;
  };
  const Case cases[] = {
      {"FromBounds", vlRectFromBounds(1, 2, 3, 4), {1, 2, 4, 6}},
      {"FromCorners", vlRectFromCorners({1, 2}, {3, 4}), {1, 2, 3, 4}},
      {"InflateBy", vlInflateRectBy(r, 2, 3), {8, 17, 32, 53}},
      {"InflateSides", vlInflateRectSides(r, 1, 2, 3, 4), {9, 18, 33, 54}},
      {"DeflateByBorders", vlDeflateRectByBorders(r, {1, 2, 3, 4}), {11, 22, 27, 46}},
      {"Offset", vlOffsetRect(r, 5, -5, true), {15, 15, 35, 45}},
      {"OffsetBack", vlOffsetRect(r, 5, -5, false), {5, 25, 25, 55}},
      {"OffsetByPoint", vlOffsetRectByPoint(r, {1, 1}, false), {9, 19, 29, 49}},
      {"OffsetHorz", vlOffsetRectHorz(r, -10), {0, 20, 20, 50}},
      {"Negate", vlNegateRect(r), {-10, -20, -30, -50}},
      {"WithLeft", vlRectWithLeft(r, 0, 5), {0, 20, 5, 50}},
      {"WithHorzRange", vlRectWithHorzRange(r, 1, 2), {1, 20, 3, 50}},
      {"WithTop", vlRectWithTop(r, 0, 5), {10, 0, 30, 5}},
      {"WithBottom", vlRectWithBottom(r, 40, 5), {10, 35, 30, 40}},
      {"WithWidth", vlRectWithWidth(r, 7), {10, 20, 17, 50}},
      // The empty first rectangle still contributes its corner.
      {"UnionEmptyFirst", vlUnionRects({0, 0, 0, 0}, {5, 5, 10, 10}), {0, 0, 10, 10}},
      {"UnionEmptySecond", vlUnionRects({5, 5, 10, 10}, {0, 0, 0, 20}), {5, 5, 10, 10}},
      {"UnionInvertedSecond", vlUnionRects({5, 5, 10, 10}, {20, 20, 0, 0}), {5, 5, 10, 10}},
      {"Union", vlUnionRects({5, 5, 10, 10}, {0, 7, 6, 30}), {0, 5, 10, 30}},
      {"CenterExtent", vlCenterExtentInRect({0, 0, 5, 5}, 2, 2), {1, 1, 3, 3}},
      // (-3 + 0 - 0) / 2 truncates toward zero: -1.
      {"CenterExtentNegative", vlCenterExtentInRect({-3, -3, 0, 0}, 0, 0), {-1, -1, -1, -1}},
      {"CenterLarger", vlCenterExtentInRect({0, 0, 4, 4}, 7, 7), {-1, -1, 6, 6}},
      {"CenterSize", vlCenterSizeInRect({0, 0, 10, 6}, TSize{4, 2}), {3, 2, 7, 4}},
      // Sums beyond 32 bits wrap as on the platform instead of being undefined.
      {"OffsetWraps", vlOffsetRect({MaxInt, 0, MaxInt, 0}, 1, 0), {-MaxInt - 1, 0, -MaxInt - 1, 0}},
  };
  for (const Case& c : cases)
    EXPECT_TRUE(RectIs(c.Got, c.Want.Left, c.Want.Top, c.Want.Right, c.Want.Bottom)) << c.Name;
}

TEST(GeometryFunctions, PointsSizesAndTests) {
  const TRect r{0, 0, 10, 10};
  struct PointCase {
    TPoint P;
    bool Inside;
  };
  // Half-open: the right and bottom edges are outside.
  for (const PointCase& c : {PointCase{{0, 0}, true}, PointCase{{9, 9}, true}, PointCase{{10, 5}, false},
                             PointCase{{5, 10}, false}, PointCase{{-1, 5}, false}})
    EXPECT_EQ(vlPointInRect(r, c.P), c.Inside) << c.P.X << "," << c.P.Y;

  struct EmptyCase {
    TRect R;
    bool Empty, Zero;
  };
  for (const EmptyCase& c : {EmptyCase{{0, 0, 0, 0}, true, true}, EmptyCase{{0, 0, 1, 1}, false, false},
                             EmptyCase{{5, 0, 1, 1}, true, false}, EmptyCase{{0, 1, 1, 1}, true, false}}) {
    EXPECT_EQ(vlIsRectEmpty(c.R), c.Empty);
    EXPECT_EQ(vlIsRectZero(c.R), c.Zero);
  }

  EXPECT_EQ(vlRectCenterPoint({-3, -3, 0, 0}), (TPoint{-1, -1}));
  EXPECT_EQ(vlRectCenterPoint({0, 0, 5, 7}), (TPoint{2, 3}));
  EXPECT_EQ(vlRectCenterPoint({MaxInt, MaxInt, MaxInt, MaxInt}), (TPoint{MaxInt, MaxInt}));
  EXPECT_EQ(vlOffsetPoint({1, 2}, 3, 4, true), (TPoint{4, 6}));
  EXPECT_EQ(vlOffsetPoint({1, 2}, 3, 4, false), (TPoint{-2, -2}));
  EXPECT_EQ(vlOffsetPointByRectOrigin({1, 2}, {10, 20, 0, 0}, true), (TPoint{11, 22}));
  EXPECT_EQ(vlNegatePoint({3, -4}), (TPoint{-3, 4}));
  EXPECT_EQ(vlGetRectWidth({3, 0, 10, 0}), 7);
  EXPECT_EQ(vlGetRectHeight({0, 9, 0, 4}), -5);
  EXPECT_TRUE(vlRectsEqual(vlMakeRect(1, 2, 3, 4), TRect{1, 2, 3, 4}));
  EXPECT_FALSE(vlRectsEqual(vlMakeRect(1, 2, 3, 4), TRect{1, 2, 3, 5}));
  EXPECT_TRUE(vlPointsEqual(vlMakePoint(1, 2), TPoint{1, 2}));
  EXPECT_TRUE(vlSizesEqual(vlMakeSize(1, 2), TSize{1, 2}));
}

TEST(TvlRectTest, ChangesFireOnlyWhenACoordinateMoves) {
  Owned<TvlRect> r(New<TvlRect>(nullptr));
  ChangeCounter counter;
  r->SetOnChange(TNotifyEvent(&counter, &ChangeCounter::Changed));
  EXPECT_TRUE(r->IsEqual(TRect{0, 0, 0, 0}));
  EXPECT_TRUE(r->IsEmpty());

  r->SetRect({0, 0, 10, 10});
  EXPECT_EQ(counter.Count, 1);
  r->SetRect({0, 0, 10, 10});  // the stored rectangle: no change
  r->SetWidth(10);             // 10 to 10: none either
  EXPECT_EQ(counter.Count, 1);

  r->SetLeft(2);  // Right stays: the width shrinks
  EXPECT_EQ(r->Width(), 8);
  r->SetWidth(3);
  EXPECT_EQ(r->Right(), 5);
  r->SetHeight(4);
  EXPECT_EQ(r->Bottom(), 4);
  r->SetBottomRight({7, 8});  // one change for both coordinates
  EXPECT_EQ(counter.Count, 5);
  EXPECT_EQ(r->TopRight(), (TPoint{7, 0}));
  EXPECT_EQ(r->BottomLeft(), (TPoint{2, 8}));
  EXPECT_TRUE(RectIs(r->Rect(), 2, 0, 7, 8));

  // Published through one indexed accessor.
  EXPECT_EQ(GetOrdProp(r.get(), u"Right"), 7);
  SetOrdProp(r.get(), u"Top", 1);
  EXPECT_EQ(r->Top(), 1);
  EXPECT_EQ(counter.Count, 6);
}

// A rectangle that keeps Right >= Left.
class TNormalRect : public TvlRect {
  CL_CLASS(TNormalRect, TvlRect)
 protected:
  void ValidateRect(TRect& R) override {
    if (R.Right < R.Left) R.Right = R.Left;
  }
};
CL_IMPLEMENT_CLASS(TNormalRect)

TEST(TvlRectTest, ValidateRectAndAssign) {
  Owned<TvlRect> r(New<TNormalRect>(nullptr));
  r->SetRect({5, 0, 1, 1});
  EXPECT_TRUE(RectIs(r->Rect(), 5, 0, 5, 1));

  Owned<TvlRect> other(New<TvlRect>(nullptr));
  other->Assign(r.get());
  EXPECT_TRUE(other->IsEqual(r.get()));
  Owned<TvlSize> size(New<TvlSize>(nullptr));
  other->Assign(size.get());  // any other source is ignored
  EXPECT_TRUE(other->IsEqual(r.get()));
  other->Assign(nullptr);
  EXPECT_TRUE(other->IsEqual(r.get()));

  // Registered for streaming while the modules run.
  EXPECT_EQ(GetClass(u"TvlRect"), TvlRect::StaticClass());
}

TEST(TvlSizeTest, NegativeValuesBecomeZero) {
  Owned<TvlSize> s(New<TvlSize>(nullptr));
  ChangeCounter counter;
  s->SetOnChange(TNotifyEvent(&counter, &ChangeCounter::Changed));
  s->SetWidth(-5);  // stores 0: already 0, no change
  EXPECT_EQ(counter.Count, 0);
  s->SetWidth(7);
  s->SetHeight(3);
  EXPECT_EQ(counter.Count, 2);
  s->SetWidth(-5);
  EXPECT_EQ(s->Width(), 0);
  EXPECT_EQ(counter.Count, 3);
  s->SetSize({-1, -1});
  EXPECT_TRUE(s->IsEmpty());
  EXPECT_EQ(counter.Count, 4);

  s->SetSize({4, 0});
  EXPECT_TRUE(IsStoredProp(s.get(), u"Width"));
  EXPECT_FALSE(IsStoredProp(s.get(), u"Height"));
  EXPECT_EQ(GetOrdProp(s.get(), u"Width"), 4);
}

TEST(TvlSizeTest, AssignTakesOnlySizes) {
  Owned<TvlSize> a(New<TvlSize>(nullptr)), b(New<TvlSize>(nullptr));
  a->SetSize({3, 4});
  b->Assign(a.get());
  EXPECT_TRUE(b->IsEqual(TSize{3, 4}));
  EXPECT_TRUE(b->IsEqual(a.get()));
  Owned<TvlRect> r(New<TvlRect>(nullptr));
  EXPECT_THROW(b->Assign(r.get()), EConvertError);
}

}  // namespace
