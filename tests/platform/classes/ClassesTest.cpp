#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/classes/Classes.h"
#include "platform/classes/TypInfoBuild.h"
#include "platform/rtl/Exceptions.h"

namespace {

std::vector<std::string> gEvents;

std::string Utf8(const String& S) { return std::string(S.begin(), S.end()); }

// A component that logs notifications and keeps one reference that it asked
// to be told about.
class TProbe : public TComponent {
  CL_CLASS(TProbe, TComponent)
 public:
  void Notification(TComponent* AComponent, TOperation Operation) override {
    gEvents.push_back(Utf8(Name()) + (Operation == opInsert ? "+" : "-") + Utf8(AComponent->Name()));
    inherited::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FRef) FRef = nullptr;
  }
  void SetRef(TComponent* V) {
    FRef = V;
    if (V) V->FreeNotification(this);
  }
  TComponent* FRef{};
};

class TOwnerForm : public TComponent {
  CL_CLASS(TOwnerForm, TComponent)
 public:
  TProbe* Probe1{};
};

class TItem : public TCollectionItem {
  CL_CLASS(TItem, TCollectionItem)
 public:
  Integer Value() const { return FValue; }
  void SetValue(Integer V) {
    FValue = V;
    Changed(false);
  }
  void Assign(TPersistent* Source) override {
    if (auto* i = dynamic_cast<TItem*>(Source)) {
      SetValue(i->FValue);
      return;
    }
    inherited::Assign(Source);
  }
  Integer FValue{};
};

class TLogCollection : public TOwnedCollection {
  CL_CLASS(TLogCollection, TOwnedCollection)
 public:
  void Update(TCollectionItem* Item) override {
    gEvents.push_back(Item ? "update " + std::to_string(Item->ID()) : "update all");
  }
  void Notify(TCollectionItem* Item, TCollectionNotification Action) override {
    static const char* names[] = {"added", "extracting", "deleting"};
    gEvents.push_back(std::string(names[Action]) + " " + std::to_string(Item->ID()));
  }
};

class THolder : public TComponent {
  CL_CLASS(THolder, TComponent)
 public:
  void Create(TComponent* AOwner) override {
    inherited::Create(AOwner);
    FItems = New<TLogCollection>(this, ClassOf<TItem>());
  }
  void Destroy() override {
    FreeAndNil(FItems);
    inherited::Destroy();
  }
  TLogCollection* Items() const { return FItems; }
  TLogCollection* FItems{};
};

}  // namespace

CL_IMPLEMENT_CLASS(TProbe)
CL_IMPLEMENT_CLASS_PUBLISHED(TOwnerForm, P) { P.Field(u"Probe1", &TOwnerForm::Probe1); }
CL_IMPLEMENT_CLASS_PUBLISHED(TItem, P) { P.Property(u"Value", &TItem::Value, &TItem::SetValue).Default(0); }
CL_IMPLEMENT_CLASS(TLogCollection)
CL_IMPLEMENT_CLASS_PUBLISHED(THolder, P) { P.Property(u"Items", &THolder::Items, nullptr); }

namespace {

using TOwnerPtr = std::unique_ptr<TComponent, TObjectFree>;

TEST(Persistent, AssignOfUnknownPairRaises) {
  std::unique_ptr<TPersistent, TObjectFree> a(New<TPersistent>()), b(New<TPersistent>());
  try {
    a->Assign(b.get());
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "Cannot assign a TPersistent to a TPersistent");
  }
  try {
    a->Assign(nullptr);
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "Cannot assign a nil to a TPersistent");
  }
}

TEST(Component, OwnerFreesOwnedAndNotifiesSiblings) {
  gEvents.clear();
  TOwnerPtr owner(New<TProbe>(nullptr));
  owner->SetName(u"Owner");
  auto* a = New<TProbe>(owner.get());
  a->SetName(u"A");
  auto* b = New<TProbe>(owner.get());
  b->SetName(u"B");
  EXPECT_EQ(owner->ComponentCount(), 2);
  EXPECT_EQ(owner->Components(1), b);
  EXPECT_EQ(b->ComponentIndex(), 1);
  EXPECT_EQ(a->Owner(), owner.get());
  // Inserting notifies the owner and every component it owns, the new one
  // included (names are set after the insertion).
  EXPECT_EQ(gEvents, (std::vector<std::string>{"Owner+", "+", "Owner+", "+", "A+"}));
  gEvents.clear();
  Free(a);
  EXPECT_EQ(owner->ComponentCount(), 1);
  EXPECT_EQ(gEvents, (std::vector<std::string>{"Owner-A", "B-A", "A-A"}));
  EXPECT_THROW(owner->Components(1), EListError);
  b->SetComponentIndex(5);  // clamped
  EXPECT_EQ(b->ComponentIndex(), 0);
}

TEST(Component, FreeNotificationClearsReferencesAcrossOwners) {
  gEvents.clear();
  TOwnerPtr ownerA(New<TComponent>(nullptr)), ownerB(New<TComponent>(nullptr));
  auto* holder = New<TProbe>(ownerA.get());
  holder->SetName(u"Holder");
  auto* target = New<TProbe>(ownerB.get());
  target->SetName(u"Target");
  holder->SetRef(target);
  gEvents.clear();
  EXPECT_TRUE(target->ComponentState().Contains(csFreeNotification));
  Free(target);
  EXPECT_EQ(holder->FRef, nullptr);
  // The holder is told once; the target hears its own removal from its owner.
  EXPECT_EQ(gEvents, (std::vector<std::string>{"Holder-Target", "Target-Target"}));
  auto* target2 = New<TProbe>(ownerB.get());
  holder->SetRef(target2);
  holder->RemoveFreeNotification(target2);
  gEvents.clear();
  Free(target2);
  EXPECT_EQ(gEvents, (std::vector<std::string>{"-"}));  // only its own removal
  EXPECT_EQ(holder->FRef, target2);  // not told: the notification was removed
}

TEST(Component, NamesAreValidAndUniqueIgnoringCase) {
  TOwnerPtr owner(New<TOwnerForm>(nullptr));
  auto* p = New<TProbe>(owner.get());
  p->SetName(u"Probe1");
  EXPECT_EQ(static_cast<TOwnerForm*>(owner.get())->Probe1, p);  // the published field follows the name
  EXPECT_EQ(owner->FindComponent(u"PROBE1"), p);
  EXPECT_EQ(owner->FindComponent(u""), nullptr);
  auto* q = New<TProbe>(owner.get());
  struct TCase {
    String Name;
    const char* Error;
  };
  const TCase cases[] = {
      {u"probe1", "A component named probe1 already exists"},
      {u"1abc", "Component name \"1abc\" is not valid"},
      {u"a b", "Component name \"a b\" is not valid"},
      {u"a.b", "Component name \"a.b\" is not valid"},
  };
  for (const TCase& c : cases) {
    try {
      q->SetName(c.Name);
      ADD_FAILURE() << c.Error;
    } catch (const EComponentError& e) {
      EXPECT_STREQ(e.what(), c.Error);
    }
  }
  EXPECT_EQ(q->Name(), u"");
  q->SetName(u"_Other2");
  p->SetName(u"PROBE1");  // a change of case of its own name is allowed
  p->SetName(u"Renamed");
  EXPECT_EQ(static_cast<TOwnerForm*>(owner.get())->Probe1, nullptr);
  Free(p);
  EXPECT_EQ(owner->ComponentCount(), 1);
  // Moving a component to another owner takes it out of the first.
  TOwnerPtr other(New<TComponent>(nullptr));
  other->InsertComponent(q);
  EXPECT_EQ(owner->ComponentCount(), 0);
  EXPECT_EQ(q->Owner(), other.get());
}

TEST(Component, AnswersIInterfaceWithoutCounting) {
  TOwnerPtr c(New<TProbe>(nullptr));
  void* intf = nullptr;
  EXPECT_EQ(c->QueryInterface(IInterface::IID, &intf), S_OK);
  EXPECT_EQ(intf, static_cast<IInterface*>(c.get()));
  EXPECT_EQ(c->_AddRef(), -1);
  EXPECT_EQ(c->_Release(), -1);
}

TEST(Component, DestroyingMarksOwnedComponents) {
  TOwnerPtr owner(New<TComponent>(nullptr));
  auto* child = New<TProbe>(owner.get());
  owner->Destroying();
  EXPECT_TRUE(owner->ComponentState().Contains(csDestroying));
  EXPECT_TRUE(child->ComponentState().Contains(csDestroying));
  owner->Updating();
  EXPECT_TRUE(owner->ComponentState().Contains(csUpdating));
  owner->Updated();
  EXPECT_FALSE(owner->ComponentState().Contains(csUpdating));
}

TEST(Component, GlobalFinderAndNamePath) {
  static TComponent* root = nullptr;
  TOwnerPtr r(New<TComponent>(nullptr));
  r->SetName(u"Main");
  root = r.get();
  auto finder = [](const String& Name) -> TComponent* { return Name == u"Main" ? root : nullptr; };
  RegisterFindGlobalComponentProc(finder);
  EXPECT_EQ(FindGlobalComponent(u"Main"), r.get());
  EXPECT_EQ(FindGlobalComponent(u"Other"), nullptr);
  UnregisterFindGlobalComponentProc(finder);
  EXPECT_EQ(FindGlobalComponent(u"Main"), nullptr);
  EXPECT_EQ(r->GetNamePath(), u"Main");
}

TEST(Collection, AddDeleteClearNotifyAndUpdate) {
  gEvents.clear();
  TOwnerPtr holderPtr(New<THolder>(nullptr));
  auto* holder = static_cast<THolder*>(holderPtr.get());
  holder->SetName(u"H");
  TLogCollection* c = holder->FItems;
  auto* i0 = static_cast<TItem*>(c->Add());
  auto* i1 = static_cast<TItem*>(c->Add());
  auto* i2 = static_cast<TItem*>(c->Insert(0));
  EXPECT_EQ(c->Count(), 3);
  EXPECT_EQ(c->Items(0), i2);
  EXPECT_EQ(i2->ID(), 2);
  EXPECT_EQ(c->NextID(), 3);
  EXPECT_EQ(gEvents, (std::vector<std::string>{"added 0", "update all", "added 1", "update all", "added 2",
                                                "update all", "update all"}));
  gEvents.clear();
  i1->SetValue(5);
  EXPECT_EQ(gEvents, (std::vector<std::string>{"update 1"}));
  gEvents.clear();
  c->BeginUpdate();
  i0->SetValue(1);
  i0->SetIndex(2);
  c->EndUpdate();
  EXPECT_EQ(gEvents, (std::vector<std::string>{"update all"}));  // one report after EndUpdate
  EXPECT_EQ(i0->Index(), 2);
  gEvents.clear();
  c->Delete(0);  // i2
  EXPECT_EQ(gEvents, (std::vector<std::string>{"deleting 2", "extracting 2", "update all"}));
  EXPECT_EQ(c->FindItemID(1), i1);
  EXPECT_EQ(c->FindItemID(2), nullptr);
  EXPECT_THROW(c->Items(2), EListError);
  // IDs are never reused.
  EXPECT_EQ(c->Add()->ID(), 3);
  EXPECT_EQ(i1->GetNamePath(), u"H.Items[0]");
  gEvents.clear();
  c->Clear();
  EXPECT_EQ(c->Count(), 0);
  EXPECT_EQ(gEvents, (std::vector<std::string>{"extracting 3", "extracting 0", "extracting 1", "update all"}));
}

TEST(Collection, AssignCopiesItemsAndRejectsOtherClasses) {
  TOwnerPtr a(New<THolder>(nullptr)), b(New<THolder>(nullptr));
  auto* ca = static_cast<THolder*>(a.get())->FItems;
  auto* cb = static_cast<THolder*>(b.get())->FItems;
  static_cast<TItem*>(ca->Add())->SetValue(7);
  static_cast<TItem*>(ca->Add())->SetValue(8);
  cb->Add();
  cb->Assign(ca);
  ASSERT_EQ(cb->Count(), 2);
  EXPECT_EQ(static_cast<TItem*>(cb->Items(1))->FValue, 8);
  EXPECT_THROW(cb->Assign(a.get()), EConvertError);
  // An item moved to another collection leaves the first.
  TCollectionItem* moved = ca->Items(0);
  moved->SetCollection(cb);
  EXPECT_EQ(ca->Count(), 1);
  EXPECT_EQ(cb->Count(), 3);
  EXPECT_EQ(moved->Collection(), cb);
}

TEST(ComponentList, OwnsAndDropsFreedComponents) {
  gEvents.clear();
  std::unique_ptr<TComponentList, TObjectFree> list(New<TComponentList>());
  auto* a = New<TProbe>(nullptr);
  auto* b = New<TProbe>(nullptr);
  auto* c = New<TProbe>(nullptr);
  list->Add(a);
  list->Add(b);
  list->Add(c);
  Free(b);  // freed elsewhere: the list drops it
  EXPECT_EQ(list->Count(), 2);
  EXPECT_EQ(list->Items(1), c);
  EXPECT_EQ(list->Extract(c), c);
  Free(c);
  EXPECT_EQ(list->Count(), 1);
  // The list frees the rest (a); the sanitizer checks that nothing leaks.
}

}  // namespace
