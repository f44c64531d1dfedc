#include <gtest/gtest.h>

#include "platform/classes/Delegates.h"
#include "platform/classes/ObjectModel.h"

namespace {

class TDgButton : public TObject {
  CL_CLASS(TDgButton, TObject)
 public:
  virtual void Click(TObject* Sender) { FLog += u"Button.Click "; FSender = Sender; }
  void Press(TObject*) { FLog += u"Press "; }
  Integer Twice(Integer V) const { return 2 * V; }
  String FLog;
  TObject* FSender{};
};

class TDgFancy : public TDgButton {
  CL_CLASS(TDgFancy, TDgButton)
 public:
  void Click(TObject* Sender) override { FLog += u"Fancy.Click "; }
};

CL_IMPLEMENT_CLASS(TDgButton)
CL_IMPLEMENT_CLASS(TDgFancy)

struct DelegatesTest : ::testing::Test {
  TDgButton* A = New<TDgButton>();
  TDgButton* B = New<TDgButton>();
  ~DelegatesTest() override {
    Free(A);
    Free(B);
  }
};

TEST_F(DelegatesTest, EqualityComparesCodeAndDataSameCodeOnlyCode) {
  TNotifyEvent a1(A, &TDgButton::Press), a1again(A, &TDgButton::Press);
  TNotifyEvent b1(B, &TDgButton::Press), a2(A, &TDgButton::Click);
  EXPECT_EQ(a1, a1again);
  EXPECT_FALSE(a1 == b1);
  EXPECT_FALSE(a1 == a2);
  EXPECT_TRUE(SameCode(a1, b1));
  EXPECT_FALSE(SameCode(a1, a2));
  EXPECT_TRUE(SameCode(a1.Method(), b1.Method()));
  EXPECT_EQ(a1.Data(), A);
  TNotifyEvent none;
  EXPECT_FALSE(Assigned(none));
  EXPECT_TRUE(none == nullptr);
  EXPECT_TRUE(Assigned(a1));
  EXPECT_FALSE(Assigned(TNotifyEvent(static_cast<TDgButton*>(nullptr), &TDgButton::Press)));
}

// Delegates compare by the code that runs: a virtual member function is the
// override of the object's class, however it was named when bound.
TEST_F(DelegatesTest, VirtualMembersCompareByTheCodeThatRuns) {
  TDgFancy* f = New<TDgFancy>();
  TNotifyEvent viaBase(f, &TDgButton::Click), viaOwn(f, &TDgFancy::Click);
  EXPECT_TRUE(viaBase == viaOwn);
  EXPECT_TRUE(SameCode(viaBase, viaOwn));
  // The base's Click bound to a button and to a fancy button runs different code.
  TNotifyEvent plain(A, &TDgButton::Click);
  EXPECT_FALSE(SameCode(plain, viaBase));
  EXPECT_FALSE(SameCode(plain.Method(), viaBase.Method()));
  // Two buttons share the code, not the object.
  TNotifyEvent other(B, &TDgButton::Click);
  EXPECT_TRUE(SameCode(plain, other));
  EXPECT_FALSE(plain == other);
  // A non-virtual member keeps comparing as before, and the untyped form too.
  EXPECT_TRUE(TNotifyEvent::FromMethod(viaBase.Method()) == viaOwn);
  EXPECT_FALSE(SameCode(viaOwn, TNotifyEvent(f, &TDgButton::Press)));
  Free(f);
}

TEST_F(DelegatesTest, CallsReachTheObjectAndVirtualOverrides) {
  TNotifyEvent e(A, &TDgButton::Click);
  e(B);
  EXPECT_EQ(A->FSender, B);
  TDgFancy* f = New<TDgFancy>();
  TNotifyEvent v(f, &TDgButton::Click);
  v(nullptr);
  EXPECT_EQ(f->FLog, u"Fancy.Click ");
  Free(f);
  auto twice = MakeDelegate(static_cast<const TDgButton*>(A), &TDgButton::Twice);
  EXPECT_EQ(twice(21), 42);
  EXPECT_THROW(TNotifyEvent()(nullptr), EInvalidPointer);
}

TEST_F(DelegatesTest, SavedAndChainedThroughTheUntypedForm) {
  TNotifyEvent first(A, &TDgButton::Press);
  TMethod saved = first.Method();
  // A handler replaced by another that calls the saved one (chaining).
  TNotifyEvent restored = TNotifyEvent::FromMethod(saved);
  EXPECT_EQ(restored, first);
  restored(nullptr);
  EXPECT_EQ(A->FLog, u"Press ");
  // The untyped form converts only to its own signature.
  TMethod other = MakeDelegate(static_cast<const TDgButton*>(A), &TDgButton::Twice).Method();
  EXPECT_THROW(TNotifyEvent::FromMethod(other), EInvalidCast);
  EXPECT_FALSE(Assigned(TNotifyEvent::FromMethod(TMethod())));
  // CodeOf gives the code a bound delegate has.
  EXPECT_EQ(TNotifyEvent::CodeOf(&TDgButton::Press), first.Code());
}

}  // namespace
