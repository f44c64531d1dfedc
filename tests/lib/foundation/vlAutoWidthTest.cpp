#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "lib/foundation/vlAutoWidth.h"

namespace {

struct TItemSpec {
  Integer Width;
  Integer MinWidth;
  Boolean Fixed;
};

struct TAutoWidthCase {
  const char* Name;
  Integer Available;
  std::vector<TItemSpec> Items;
  std::vector<Integer> Expected;
};

std::vector<Integer> Distribute(Integer Available, const std::vector<TItemSpec>& Items) {
  std::unique_ptr<TvlAutoWidthObject, TObjectFree> Obj(
      New<TvlAutoWidthObject>(static_cast<Integer>(Items.size())));
  for (const TItemSpec& Spec : Items) {
    TvlAutoWidthItem* Item = Obj->AddItem();
    EXPECT_EQ(Item->AutoWidth, -1);
    Item->Width = Spec.Width;
    Item->MinWidth = Spec.MinWidth;
    Item->Fixed = Spec.Fixed;
  }
  Obj->SetAvailableWidth(Available);
  Obj->Calculate();
  std::vector<Integer> Result;
  for (Integer I = 0; I < Obj->Count(); ++I) Result.push_back(Obj->Items(I)->AutoWidth);
  return Result;
}

TEST(vlAutoWidth, DistributesByWidthRespectingMinimumsAndFixedItems) {
  const TAutoWidthCase Cases[] = {
      {"equal widths spread the rounding",
       200,
       {{100, 0, false}, {100, 0, false}, {100, 0, false}},
       {67, 66, 67}},
      {"a minimum above the share", 200, {{100, 60, false}, {300, 0, false}}, {60, 140}},
      {"a fixed item keeps its width", 300, {{50, 0, true}, {50, 0, false}}, {50, 250}},
      {"every item fixed", 1000, {{10, 0, true}, {20, 0, true}}, {10, 20}},
      {"a share equal to the minimum takes the minimum", 100, {{50, 50, false}, {50, 0, false}}, {50, 50}},
      {"minimums found over several passes",
       100,
       {{10, 30, false}, {10, 30, false}, {80, 0, false}},
       {30, 30, 40}},
      {"zero widths", 100, {{0, 5, false}, {0, 0, false}}, {5, 0}},
      {"grow beyond the widths", 600, {{100, 0, false}, {200, 0, false}}, {200, 400}},
  };
  for (const TAutoWidthCase& C : Cases) {
    SCOPED_TRACE(C.Name);
    EXPECT_EQ(Distribute(C.Available, C.Items), C.Expected);
  }
}

TEST(vlAutoWidth, ComputedItemsAreNotRecomputedAndWidthSums) {
  std::unique_ptr<TvlAutoWidthObject, TObjectFree> Obj(New<TvlAutoWidthObject>(0));
  TvlAutoWidthItem* A = Obj->AddItem();
  A->Width = 100;
  Obj->SetAvailableWidth(300);
  Obj->Calculate();
  EXPECT_EQ(A->AutoWidth, 300);
  TvlAutoWidthItem* B = Obj->AddItem();
  B->Width = 100;
  EXPECT_EQ(Obj->Width(), 200);
  Obj->Calculate();
  EXPECT_EQ(A->AutoWidth, 300);
  EXPECT_EQ(B->AutoWidth, 150);
}

}  // namespace
