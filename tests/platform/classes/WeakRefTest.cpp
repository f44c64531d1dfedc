// The weak reference: nil once its component is freed (also by a call-out
// made while it is held, and by the component's owner), copies and moves
// follow the same component, and letting go leaves the component untold.
#include "platform/classes/WeakRef.h"

#include <gtest/gtest.h>

#include <utility>

#include "platform/classes/Classes.h"

namespace {

// Counts the free notifications it receives.
class TWatcher : public TComponent {
  CL_CLASS(TWatcher, TComponent)
 public:
  Integer Removals = 0;

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override {
    inherited::Notification(AComponent, Operation);
    if (Operation == opRemove) ++Removals;
  }
};
CL_IMPLEMENT_CLASS(TWatcher)

TComponent* NewComponent(TComponent* AOwner = nullptr) { return New<TComponent>(AOwner); }

TEST(WeakRef, TurnsNilWhenItsComponentIsFreed) {
  struct TCase {
    const char* Name;
    bool Owned;  // freed with its owner rather than by itself
  };
  for (const TCase& c : {TCase{"by itself", false}, TCase{"with its owner", true}}) {
    SCOPED_TRACE(c.Name);
    TComponent* owner = NewComponent();
    TWatcher* target = New<TWatcher>(c.Owned ? owner : nullptr);
    TWeakRef<TWatcher> ref(target);
    TWeakRef<TWatcher> copy = ref;
    EXPECT_EQ(ref.Get(), target);
    EXPECT_EQ(copy->Removals, 0);
    if (c.Owned)
      Free(owner);
    else
      Free(target);
    EXPECT_EQ(ref.Get(), nullptr);
    EXPECT_FALSE(copy);
    EXPECT_EQ(static_cast<TWatcher*>(copy), nullptr);
    if (!c.Owned) Free(owner);
  }
}

// The "still alive after this call-out" test: a call-out frees the object.
TEST(WeakRef, TellsWhetherACallOutFreedTheObject) {
  TComponent* target = NewComponent();
  auto callOut = [&](bool AFree) {
    if (AFree) FreeAndNil(target);
  };
  {
    TWeakRef<TComponent> self(target);
    callOut(false);
    EXPECT_TRUE(self);
  }
  TWeakRef<TComponent> self(target);
  callOut(true);
  EXPECT_FALSE(self);
}

TEST(WeakRef, ReassignedMovedAndReleasedReferencesFollowTheirComponent) {
  TWatcher* a = New<TWatcher>(nullptr);
  TWatcher* b = New<TWatcher>(nullptr);
  TWeakRef<TWatcher> ref(a);
  ref = b;  // a is no longer watched
  EXPECT_EQ(ref.Get(), b);
  TWeakRef<TWatcher> moved = std::move(ref);
  EXPECT_EQ(moved.Get(), b);
  EXPECT_EQ(ref.Get(), nullptr);  // NOLINT(bugprone-use-after-move): a moved reference is empty
  moved = nullptr;  // let go without telling b anything
  EXPECT_EQ(b->Removals, 0);
  Free(a);
  EXPECT_EQ(moved.Get(), nullptr);
  TWeakRef<TWatcher> again(b);
  Free(b);
  EXPECT_EQ(again.Get(), nullptr);
}

}  // namespace
