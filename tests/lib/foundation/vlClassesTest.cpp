#include "lib/foundation/vlClasses.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "platform/classes/ClassRegistry.h"
#include "platform/classes/Streams.h"
#include "platform/rtl/Locale.h"
#include "platform/rtl/Strings.h"
#include "platform/vcl/Controls.h"
#include "platform/win/Windows.h"

// --- Fixture classes ------------------------------------------------------------------------

// A collection item with a sort key.
class TKeyItem : public TvlInterfacedCollectionItem {
  CL_CLASS(TKeyItem, TvlInterfacedCollectionItem)
 public:
  Integer Key{};
  void Touch() { Changed(false); }
};
CL_IMPLEMENT_CLASS(TKeyItem)

// A collection that counts the references its items forward to it.
class TCountingCollection : public TvlOwnedInterfacedCollection {
  CL_CLASS(TCountingCollection, TvlOwnedInterfacedCollection)
 public:
  Integer _AddRef() override { return ++Refs; }
  Integer _Release() override { return --Refs; }
  Integer Refs = 0;
};
CL_IMPLEMENT_CLASS(TCountingCollection)

// An object that records its destruction.
class TTracked : public TObject {
  CL_CLASS(TTracked, TObject)
 public:
  void Create(Integer* ACounter) { FCounter = ACounter; }
  void Destroy() override {
    ++*FCounter;
    inherited::Destroy();
  }

 private:
  Integer* FCounter{};
};
CL_IMPLEMENT_CLASS(TTracked)

class TBase : public TObject {
  CL_CLASS(TBase, TObject)
};
class TDerived : public TBase {
  CL_CLASS(TDerived, TBase)
};
class TDerivedMore : public TDerived {
  CL_CLASS(TDerivedMore, TDerived)
};
class TOther : public TObject {
  CL_CLASS(TOther, TObject)
};
class TRegA : public TObject {
  CL_CLASS(TRegA, TObject)
};
class TRegB : public TObject {
  CL_CLASS(TRegB, TObject)
};
CL_IMPLEMENT_CLASS(TBase)
CL_IMPLEMENT_CLASS(TDerived)
CL_IMPLEMENT_CLASS(TDerivedMore)
CL_IMPLEMENT_CLASS(TOther)
CL_IMPLEMENT_CLASS(TRegA)
CL_IMPLEMENT_CLASS(TRegB)

class TColumnHolder;

// A component collection item whose parent component holds its collection.
class TColumn : public TvlComponentCollectionItem {
  CL_CLASS(TColumn, TvlComponentCollectionItem)
 protected:
  TvlComponentCollection* GetCollectionFromParent(TComponent* AParent) override;
};

class TColumnHolder : public TComponent {
  CL_CLASS(TColumnHolder, TComponent)
 public:
  void Create(TComponent* AOwner) override {
    inherited::Create(AOwner);
    Columns = New<TvlComponentCollection>(this, ClassOf<TColumn>());
  }
  void Destroy() override {
    FreeAndNil(Columns);
    inherited::Destroy();
  }
  TvlComponentCollection* Columns{};
};

TvlComponentCollection* TColumn::GetCollectionFromParent(TComponent* AParent) {
  return static_cast<TColumnHolder*>(AParent)->Columns;
}
CL_IMPLEMENT_CLASS(TColumn)
CL_IMPLEMENT_CLASS(TColumnHolder)

class TTestMRUItem : public TvlMRUItem {
  CL_CLASS(TTestMRUItem, TvlMRUItem)
 public:
  void Create(Char AValue, Integer* AFreed) {
    Value = AValue;
    Freed = AFreed;
  }
  void Destroy() override {
    ++*Freed;
    inherited::Destroy();
  }
  Boolean Equals(TvlMRUItem* AItem) override { return static_cast<TTestMRUItem*>(AItem)->Value == Value; }
  Char Value{};
  Integer* Freed{};
};
CL_IMPLEMENT_CLASS(TTestMRUItem)

// A component that runs an event handler which may free the component itself.
class TSelfFreeing : public TvlComponent {
  CL_CLASS(TSelfFreeing, TvlComponent)
 public:
  // Answers whether the component survived its handler.
  bool Fire() {
    TvlObjectLink* link = vlAddObjectLink(this);
    OnFire(this);
    bool alive = link->Ref != nullptr;
    vlRemoveObjectLink(link);
    if (alive) ++FiredCount;  // touches a member only when still alive
    return alive;
  }
  TNotifyEvent OnFire;
  Integer FiredCount = 0;
};
CL_IMPLEMENT_CLASS(TSelfFreeing)

class TnbBarButton : public TComponent {
  CL_CLASS(TnbBarButton, TComponent)
};
CL_IMPLEMENT_CLASS(TnbBarButton)
class TvlGridDBColumn : public TComponent {
  CL_CLASS(TvlGridDBColumn, TComponent)
};
CL_IMPLEMENT_CLASS(TvlGridDBColumn)

namespace {

template <class T>
using Owned = std::unique_ptr<T, TObjectFree>;

// --- Owned interfaced collection --------------------------------------------------------------

struct ChangeLog {
  std::vector<TCollectionItem*> Items;
  TKeyItem* TouchDuringChange{};
  void Changed(TObject*, TCollectionItem* AItem) {
    Items.push_back(AItem);
    if (TouchDuringChange) TouchDuringChange->Touch();  // arrives while OnChange runs: dropped
  }
  Integer Compare(TvlOwnedInterfacedCollection*, TCollectionItem* A, TCollectionItem* B) {
    return static_cast<TKeyItem*>(A)->Key - static_cast<TKeyItem*>(B)->Key;
  }
};

class OwnedCollectionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Coll.reset(New<TvlOwnedInterfacedCollection>(nullptr, ClassOf<TKeyItem>()));
    for (Integer key : {3, 1, 2}) static_cast<TKeyItem*>(Coll->Add())->Key = key;
    Coll->SetOnChange(TvlCollectionNotifyEvent(&Log, &ChangeLog::Changed));
  }
  std::vector<Integer> Keys() const {
    std::vector<Integer> keys;
    for (Integer i = 0; i < Coll->Count(); ++i) keys.push_back(static_cast<TKeyItem*>(Coll->Items(i))->Key);
    return keys;
  }
  void UseKeyOrder() { Coll->SetOnCompare(TvlCollectionCompareEvent(&Log, &ChangeLog::Compare)); }

  ChangeLog Log;
  Owned<TvlOwnedInterfacedCollection> Coll;
};

TEST_F(OwnedCollectionTest, SortedOnReordersAtOnceWithOneChange) {
  UseKeyOrder();
  Coll->SetSorted(true);
  EXPECT_EQ(Keys(), (std::vector<Integer>{1, 2, 3}));
  EXPECT_EQ(Log.Items, (std::vector<TCollectionItem*>{nullptr}));
}

TEST_F(OwnedCollectionTest, DefaultComparisonKeepsTheOrder) {
  Coll->SetSorted(true);
  EXPECT_EQ(Keys(), (std::vector<Integer>{3, 1, 2}));
}

TEST_F(OwnedCollectionTest, SortInsideBeginUpdateWaitsForEndUpdate) {
  UseKeyOrder();
  Coll->BeginUpdate();
  Coll->Sort();
  EXPECT_EQ(Keys(), (std::vector<Integer>{3, 1, 2}));
  Coll->SetSorted(true);  // switching on sorts, which does nothing yet
  EXPECT_EQ(Keys(), (std::vector<Integer>{3, 1, 2}));
  static_cast<TKeyItem*>(Coll->Add())->Key = 0;
  EXPECT_TRUE(Log.Items.empty());
  Coll->EndUpdate();  // Update(nil): sorts, then one OnChange
  EXPECT_EQ(Keys(), (std::vector<Integer>{0, 1, 2, 3}));
  EXPECT_EQ(Log.Items, (std::vector<TCollectionItem*>{nullptr}));
}

TEST_F(OwnedCollectionTest, ChangeDuringOnChangeIsDropped) {
  auto* first = static_cast<TKeyItem*>(Coll->Items(0));
  Log.TouchDuringChange = static_cast<TKeyItem*>(Coll->Items(1));
  first->Touch();
  EXPECT_EQ(Log.Items, (std::vector<TCollectionItem*>{first}));
  Log.TouchDuringChange = nullptr;
  Coll->Items(1)->SetIndex(0);  // a move reports all items
  EXPECT_EQ(Log.Items.back(), nullptr);
  EXPECT_EQ(Log.Items.size(), 2u);
}

TEST_F(OwnedCollectionTest, NoChangeReportsWhileDestroying) {
  Coll->Clear();
  EXPECT_EQ(Log.Items.size(), 1u);
  static_cast<TKeyItem*>(Coll->Add())->Key = 5;
  Log.Items.clear();
  Coll.reset();
  EXPECT_TRUE(Log.Items.empty());
}

TEST_F(OwnedCollectionTest, AnswersInterfacesWithoutCounting) {
  IInterface* intf = Coll.get();
  EXPECT_EQ(intf->_AddRef(), -1);
  EXPECT_EQ(intf->_Release(), -1);
  void* out = nullptr;
  EXPECT_EQ(intf->QueryInterface(IInterface::IID, &out), S_OK);
  EXPECT_NE(out, nullptr);
  const TGUID other = GUIDConst("{2E983B3B-1A56-4599-8A85-C2540E182031}");
  EXPECT_EQ(intf->QueryInterface(other, &out), E_NOINTERFACE);
  // Items forward counting to the collection (-1 here).
  IInterface* item = static_cast<TKeyItem*>(Coll->Items(0));
  EXPECT_EQ(item->_AddRef(), -1);
}

TEST(InterfacedCollectionItem, ForwardsCountingToItsCollection) {
  Owned<TCountingCollection> coll(New<TCountingCollection>(nullptr, ClassOf<TKeyItem>()));
  IInterface* item = static_cast<TKeyItem*>(coll->Add());
  EXPECT_EQ(item->_AddRef(), 1);
  EXPECT_EQ(coll->Refs, 1);
  EXPECT_EQ(item->_Release(), 0);
  // In a collection without IInterface the item does not count.
  Owned<TCollection> plain(New<TCollection>(ClassOf<TKeyItem>()));
  IInterface* loose = static_cast<TKeyItem*>(plain->Add());
  EXPECT_EQ(loose->_AddRef(), -1);
}

// --- Lists ---------------------------------------------------------------------------------------

TEST(ObjectList, FreesOnlyOnClearWhenOwning) {
  for (bool owns : {true, false}) {
    Integer freed = 0;
    std::vector<TTracked*> made;
    {
      Owned<TvlObjectList> list(New<TvlObjectList>(owns));
      for (int i = 0; i < 3; ++i) {
        made.push_back(New<TTracked>(&freed));
        list->Add(made.back());
      }
      list->Delete(0);
      list->Remove(made[1]);
      EXPECT_EQ(freed, 0);
      list->Add(made[0]);
      list->Add(made[1]);
    }
    EXPECT_EQ(freed, owns ? 3 : 0) << owns;
    if (!owns)
      for (TTracked* t : made) Free(t);
  }
}

struct HandlerLog {
  std::vector<int> Calls;
  TvlEventHandlerCollection* Coll{};
  TvlEventHandler RemoveOnCall;
  void First(TObject*, const void* Args) {
    Calls.push_back(1 + *static_cast<const int*>(Args));
    if (Assigned(RemoveOnCall)) Coll->Remove(RemoveOnCall);
  }
  void Second(TObject*, const void* Args) { Calls.push_back(2 + *static_cast<const int*>(Args)); }
};

TEST(EventHandlerCollection, DuplicatesAreIgnored) {
  Owned<TvlEventHandlerCollection> coll(New<TvlEventHandlerCollection>());
  HandlerLog log, other;
  TvlEventHandler first(&log, &HandlerLog::First), second(&log, &HandlerLog::Second);
  coll->Add(first);
  coll->Add(first);
  coll->Add(second);
  coll->Add(TvlEventHandler(&other, &HandlerLog::Second));  // same code, other data: another handler
  EXPECT_EQ(coll->Count(), 3);
  const int args = 10;
  coll->CallEvents(nullptr, &args);
  EXPECT_EQ(log.Calls, (std::vector<int>{11, 12}));

  // A handler that removes a later one during the call: the later one is skipped.
  log.Coll = coll.get();
  log.RemoveOnCall = second;
  log.Calls.clear();
  coll->CallEvents(nullptr, &args);
  EXPECT_EQ(log.Calls, (std::vector<int>{11}));
  EXPECT_EQ(coll->IndexOf(second), -1);
  coll->Remove(second);  // absent: nothing
  coll->Delete(0);
  EXPECT_EQ(coll->Count(), 1);
  EXPECT_THROW(coll->Delete(5), EListError);
}

struct ReverseOrder {
  Integer Compare(TvlStringList* L, Integer A, Integer B) { return CompareStr(L->Strings(B), L->Strings(A)); }
};

TEST(StringList, SortUsesOnCompare) {
  Owned<TvlStringList> list(New<TvlStringList>());
  for (const char16_t* s : {u"b", u"c", u"a"}) list->Add(s);
  ReverseOrder order;
  list->SetOnCompare(TvlStringListCompareEvent(&order, &ReverseOrder::Compare));
  list->Sort();
  EXPECT_EQ(list->Strings(0) + list->Strings(1) + list->Strings(2), u"cba");
  list->SetOnCompare(nullptr);
  list->Sort();
  EXPECT_EQ(list->Strings(0) + list->Strings(1) + list->Strings(2), u"abc");
}

TEST(OpenList, WritingPastTheEndGrows) {
  Owned<TvlOpenList> list(New<TvlOpenList>());
  int x = 0;
  list->SetItems(3, &x);
  EXPECT_EQ(list->Count(), 4);
  EXPECT_EQ(list->Items(0), nullptr);
  EXPECT_EQ(list->Items(3), &x);
  EXPECT_THROW(list->SetItems(-1, &x), EListError);
  EXPECT_THROW(list->Items(4), EListError);
}

// --- Class registries ------------------------------------------------------------------------------

TEST(RegisteredClassList, NearestAncestorWhateverTheOrder) {
  for (bool baseFirst : {true, false}) {
    Owned<TvlRegisteredClassList> list(New<TvlRegisteredClassList>());
    if (baseFirst) {
      list->Register(TBase::StaticClass(), TRegA::StaticClass());
      list->Register(TDerived::StaticClass(), TRegB::StaticClass());
    } else {
      list->Register(TDerived::StaticClass(), TRegB::StaticClass());
      list->Register(TBase::StaticClass(), TRegA::StaticClass());
    }
    ASSERT_EQ(list->Count(), 2);
    EXPECT_EQ(list->Items(0)->ItemClass, TBase::StaticClass()) << baseFirst;
    struct Case {
      TClass Asked;
      TClass Answer;
    };
    for (const Case& c : {Case{TBase::StaticClass(), TRegA::StaticClass()},
                          Case{TDerived::StaticClass(), TRegB::StaticClass()},
                          Case{TDerivedMore::StaticClass(), TRegB::StaticClass()},
                          Case{TOther::StaticClass(), nullptr}, Case{nullptr, nullptr}})
      EXPECT_EQ(list->FindClass(c.Asked), c.Answer) << baseFirst;
  }
}

TEST(RegisteredClassList, FindReportsWhereToInsertAndUnregisterRemovesPairs) {
  Owned<TvlRegisteredClassList> list(New<TvlRegisteredClassList>());
  list->Register(TDerivedMore::StaticClass(), TRegA::StaticClass());
  list->Register(TOther::StaticClass(), TRegA::StaticClass());
  Integer index = 99;
  EXPECT_FALSE(list->Find(TBase::StaticClass(), index));
  EXPECT_EQ(index, 0);  // before its first descendant
  EXPECT_FALSE(list->Find(TRegB::StaticClass(), index));
  EXPECT_EQ(index, -1);

  list->Register(TOther::StaticClass(), TRegA::StaticClass());  // the same pair twice: two entries
  list->Register(TOther::StaticClass(), TRegB::StaticClass());
  EXPECT_EQ(list->Count(), 4);
  EXPECT_EQ(list->FindClass(TOther::StaticClass()), TRegB::StaticClass());  // the last match
  list->Unregister(TOther::StaticClass(), TRegA::StaticClass());
  EXPECT_EQ(list->Count(), 2);
  list->Unregister(TOther::StaticClass(), TRegB::StaticClass());
  EXPECT_EQ(list->FindClass(TOther::StaticClass()), nullptr);
  list->Clear();
  EXPECT_EQ(list->Count(), 0);
}

TEST(RegisteredClasses, TextsOrderAndLookups) {
  SetSystemLocale(TSystemLocale::Turkish);
  for (bool sorted : {false, true}) {
    Owned<TvlRegisteredClasses> reg(New<TvlRegisteredClasses>(false));
    reg->SetSorted(sorted);
    reg->Register(TBase::StaticClass(), u"Table|The table view");
    reg->Register(TDerived::StaticClass(), u"Cards");
    reg->Register(TOther::StaticClass(), u"Banded Table|Bands");
    reg->Register(TBase::StaticClass(), u"Other text");  // registered already: keeps its first text
    ASSERT_EQ(reg->Count(), 3);
    std::vector<String> order;
    for (Integer i = 0; i < reg->Count(); ++i) order.push_back(reg->Descriptions(i));
    EXPECT_EQ(order, sorted ? (std::vector<String>{u"Banded Table", u"Cards", u"Table"})
                            : (std::vector<String>{u"Table", u"Cards", u"Banded Table"}));

    EXPECT_EQ(reg->GetDescriptionByClass(TBase::StaticClass()), u"Table");
    EXPECT_EQ(reg->GetHintByClass(TBase::StaticClass()), u"The table view");
    EXPECT_EQ(reg->GetHintByClass(TDerived::StaticClass()), u"Cards");  // no "|": the whole text
    EXPECT_EQ(reg->GetHintByClass(TRegA::StaticClass()), u"");
    EXPECT_EQ(reg->FindByClassName(u"TDerived"), TDerived::StaticClass());
    EXPECT_EQ(reg->FindByClassName(u"tderived"), nullptr);  // case-sensitive
    EXPECT_EQ(reg->FindByClassName(u"TUnknown"), nullptr);
    EXPECT_EQ(reg->FindByDescription(u"Banded Table"), TOther::StaticClass());
    EXPECT_EQ(reg->FindByDescription(u"banded table"), nullptr);
    reg->Unregister(TDerived::StaticClass());
    reg->Unregister(TDerived::StaticClass());
    EXPECT_EQ(reg->GetIndexByClass(TDerived::StaticClass()), -1);
    EXPECT_EQ(reg->Count(), 2);
  }
}

TEST(RegisteredClasses, RegisterClassesNamesThemForStreaming) {
  EXPECT_THROW(FindClass(u"TRegA"), EClassNotFound);
  {
    Owned<TvlRegisteredClasses> reg(New<TvlRegisteredClasses>(true));
    reg->Register(TRegA::StaticClass(), u"A");
    EXPECT_EQ(FindClass(u"TRegA"), TRegA::StaticClass());
    reg->Unregister(TRegA::StaticClass());
    EXPECT_EQ(GetClass(u"TRegA"), TRegA::StaticClass());  // the streaming registry keeps it
  }
  UnRegisterClass(TRegA::StaticClass());
  EXPECT_EQ(GetClass(u"TRegA"), nullptr);
}

// --- Component collections ------------------------------------------------------------------------------

struct CollectionLog {
  std::vector<std::pair<TvlComponentCollectionItem*, TvlComponentCollectionNotification>> Events;
  void Changed(TObject*, TvlComponentCollectionItem* AItem, TvlComponentCollectionNotification AAction) {
    Events.emplace_back(AItem, AAction);
  }
};

class ComponentCollectionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Form.reset(New<TComponent>(nullptr));
    Holder = New<TColumnHolder>(Form.get());
    Holder->SetName(u"View1");
    Holder->Columns->SetOnChange(TvlComponentCollectionChangeEvent(&Log, &CollectionLog::Changed));
  }
  Owned<TComponent> Form;
  TColumnHolder* Holder{};
  CollectionLog Log;
};

TEST_F(ComponentCollectionTest, ItemsJoinLeaveAndKeepTheirIDs) {
  TvlComponentCollection* cols = Holder->Columns;
  TvlComponentCollectionItem* a = cols->Add();
  TvlComponentCollectionItem* b = cols->Add();
  EXPECT_EQ(a->Owner(), Form.get());  // owned by the form, held by the collection
  EXPECT_EQ(a->Collection(), cols);
  EXPECT_EQ(a->GetParentComponent(), Holder);
  EXPECT_TRUE(a->HasParent());
  EXPECT_EQ(a->ID(), 0);
  EXPECT_EQ(b->ID(), 1);
  EXPECT_EQ(b->Index(), 1);
  ASSERT_EQ(Log.Events.size(), 2u);
  EXPECT_EQ(Log.Events[0], std::make_pair(a, ccnAdded));

  Log.Events.clear();
  cols->Delete(0);  // frees the item, whose destructor takes it out
  EXPECT_EQ(Log.Events, (decltype(Log.Events){{a, ccnExtracted}}));
  EXPECT_EQ(Form->ComponentCount(), 2);
  TvlComponentCollectionItem* c = cols->Add();
  EXPECT_EQ(c->ID(), 2);  // never reused
  EXPECT_EQ(cols->FindItemByID(1), b);
  EXPECT_EQ(cols->FindItemByID(0), nullptr);

  Log.Events.clear();
  c->SetIndex(0);
  EXPECT_EQ(cols->Items(0), c);
  EXPECT_EQ(Log.Events, (decltype(Log.Events){{nullptr, ccnChanged}}));
  EXPECT_THROW(c->SetIndex(5), EListError);

  // A free elsewhere (the form) takes the item out as well.
  Free(b);
  EXPECT_EQ(cols->Count(), 1);
  c->SetParentComponent(nullptr);
  EXPECT_EQ(cols->Count(), 0);
  EXPECT_FALSE(c->HasParent());
}

TEST_F(ComponentCollectionTest, UpdatesAreReportedOnceAtTheEnd) {
  TvlComponentCollection* cols = Holder->Columns;
  cols->BeginUpdate();
  cols->Add();
  cols->Add();
  EXPECT_TRUE(Log.Events.empty());
  cols->EndUpdate(false);
  EXPECT_TRUE(Log.Events.empty());
  cols->Clear();
  EXPECT_EQ(Log.Events, (decltype(Log.Events){{nullptr, ccnChanged}}));
  EXPECT_EQ(Form->ComponentCount(), 1);
  cols->EndUpdate();  // never below zero
  EXPECT_EQ(cols->UpdateCount(), 0);
}

TEST_F(ComponentCollectionTest, FreeingTheFormFreesItemsAndHolder) {
  Holder->Columns->Add();
  Holder->Columns->Add();
  Form.reset();  // items, owned by the form, leave the collection as they go
  SUCCEED();
}

TEST_F(ComponentCollectionTest, UniqueNames) {
  struct Case {
    const char16_t* BaseText;
    const char16_t* Prefix;
    TClass ItemClass;
    const char16_t* Expected;
  };
  const Case cases[] = {
      {u"Last Name", u"TvlGrid", TvlGridDBColumn::StaticClass(), u"View1LastName"},
      {u"Last Name", u"TvlGrid", TvlGridDBColumn::StaticClass(), u"View1LastName1"},
      {u"Last Name", u"TvlGrid", TvlGridDBColumn::StaticClass(), u"View1LastName2"},
      {u"", u"TnbBar", TnbBarButton::StaticClass(), u"View1Button1"},
      {u"", u"TnbBar", TnbBarButton::StaticClass(), u"View1Button2"},
      {u"2010", u"TvlGrid", TvlGridDBColumn::StaticClass(), u"View1DBColumn2010"},
      {u"Ölçü", u"", TnbBarButton::StaticClass(), u"View1l"},
      {u"", u"", TvlGridDBColumn::StaticClass(), u"View1vlGridDBColumn1"},
  };
  for (const Case& c : cases) {
    auto* item = static_cast<TComponent*>(CreateFrom(c.ItemClass, &TComponent::Create, Form.get()));
    String name;
    vlMakeUniqueComponentName(Form.get(), Holder, item, name, c.BaseText, c.Prefix);
    EXPECT_EQ(name, c.Expected);
    item->SetName(name);
  }
  // Other case counts as taken.
  auto* item = New<TnbBarButton>(Form.get());
  String name;
  vlMakeUniqueComponentName(Form.get(), nullptr, item, name, u"VIEW1LASTNAME");
  EXPECT_EQ(name, u"VIEW1LASTNAME3");
}

TEST_F(ComponentCollectionTest, RenameOwnedItems) {
  auto* a = New<TnbBarButton>(Form.get());
  a->SetName(u"View1Col");
  auto* b = New<TnbBarButton>(Form.get());
  b->SetName(u"view1Price");
  TComponent* c = Holder;  // named View1 itself
  auto* d = New<TnbBarButton>(Form.get());
  d->SetName(u"Other");
  auto* taken = New<TnbBarButton>(Form.get());
  taken->SetName(u"GridPrice");
  auto* foreign = New<TnbBarButton>(nullptr);
  foreign->SetName(u"View1Free");
  std::vector<TComponent*> items{a, b, c, d, foreign};
  struct Getter {
    std::vector<TComponent*>* Items;
    TComponent* Get(Integer I) { return (*Items)[static_cast<size_t>(I)]; }
  } getter{&items};
  TvlGetComponentItemEvent get(&getter, &Getter::Get);
  vlRenameOwnedItems(Holder, Form.get(), u"Grid", get, static_cast<Integer>(items.size()), u"View1");
  EXPECT_EQ(a->Name(), u"GridCol");
  EXPECT_EQ(b->Name(), u"view1Price");  // "GridPrice" is taken: skipped
  EXPECT_EQ(c->Name(), u"View1");       // not longer than the old name
  EXPECT_EQ(d->Name(), u"Other");
  EXPECT_EQ(foreign->Name(), u"View1Free");  // another owner
  // Every name begins with an empty old name: nothing is renamed then.
  vlRenameOwnedItems(Holder, Form.get(), u"X", get, static_cast<Integer>(items.size()), u"");
  EXPECT_EQ(a->Name(), u"GridCol");
  Free(foreign);
}

// --- Component list
// ------------------------------------------------------------------------------------------

struct ListLog {
  std::vector<std::pair<TComponent*, int>> Notified;
  std::vector<std::pair<TComponent*, TvlComponentCollectionNotification>> Changed;
  void OnNotify(TObject*, TComponent* C, TListNotification A) { Notified.emplace_back(C, int(A)); }
  void OnChanged(TObject*, TComponent* C, TvlComponentCollectionNotification A) {
    Changed.emplace_back(C, A);
  }
};

class TOnlyBarButtons : public TvlComponentList {
  CL_CLASS(TOnlyBarButtons, TvlComponentList)
 protected:
  TClass GetItemClass() const override { return TnbBarButton::StaticClass(); }
};
CL_IMPLEMENT_CLASS(TOnlyBarButtons)

TEST(ComponentList, ReportsChangesAndRefusesOtherClasses) {
  Owned<TvlComponentList> list(New<TOnlyBarButtons>());
  ListLog log;
  list->SetOnNotify(TvlComponentListNotifyEvent(&log, &ListLog::OnNotify));
  list->SetOnComponentListChanged(TvlComponentListChangeEvent(&log, &ListLog::OnChanged));
  TComponent* button = New<TnbBarButton>(nullptr);
  Owned<TComponent> other(New<TComponent>(nullptr));
  list->Add(button);
  list->Add(other.get());  // not of the item class: taken out again at once
  EXPECT_EQ(list->Count(), 1);
  EXPECT_EQ(log.Notified, (decltype(log.Notified){{button, lnAdded}}));
  EXPECT_EQ(log.Changed, (decltype(log.Changed){{button, ccnAdded}}));

  // Freed elsewhere: dropped from the list, not freed again.
  Free(button);
  EXPECT_EQ(list->Count(), 0);
  ASSERT_EQ(log.Changed.size(), 2u);
  EXPECT_EQ(log.Changed[1].first, button);

  log.Changed.clear();
  list->BeginUpdate();
  TComponent* b1 = New<TnbBarButton>(nullptr);
  TComponent* b2 = New<TnbBarButton>(nullptr);
  list->Add(b1);
  list->Add(b2);
  list->CancelUpdate();
  EXPECT_TRUE(log.Changed.empty());
  list->Clear();  // deletes inside an update: one report at its end
  EXPECT_EQ(log.Changed, (decltype(log.Changed){{nullptr, ccnChanged}}));
  EXPECT_EQ(list->Count(), 0);
  Free(b1);
  Free(b2);
}

// --- MRU list
// ------------------------------------------------------------------------------------------------

TEST(MRUItems, MostRecentFirstWithinMaxCount) {
  Integer freed = 0;
  Owned<TvlMRUItems> mru(New<TvlMRUItems>());
  auto item = [&](Char c) { return New<TTestMRUItem>(c, &freed); };
  auto text = [&] {
    String s;
    for (Integer i = 0; i < mru->Count(); ++i) s += static_cast<TTestMRUItem*>(mru->Items(i))->Value;
    return s;
  };
  mru->SetMaxCount(3);
  for (Char c : String(u"CBA")) mru->Add(item(c));
  EXPECT_EQ(text(), u"ABC");
  mru->Add(item(u'D'));
  EXPECT_EQ(text(), u"DAB");
  EXPECT_EQ(freed, 1);  // C cut off
  mru->Add(item(u'B'));
  EXPECT_EQ(text(), u"BDA");
  EXPECT_EQ(freed, 2);      // the added duplicate
  mru->Add(mru->Items(2));  // a listed item itself moves without being freed
  EXPECT_EQ(text(), u"ABD");
  EXPECT_EQ(freed, 2);
  TTestMRUItem* probe = item(u'D');
  EXPECT_EQ(mru->IndexOf(probe), 2);
  Free(probe);

  mru->SetMaxCount(-4);
  EXPECT_EQ(mru->MaxCount(), 0);
  mru->Add(item(u'E'));
  EXPECT_EQ(text(), u"EABD");
  mru->SetMaxCount(2);
  EXPECT_EQ(text(), u"EA");
  mru->SetCount(5);
  EXPECT_EQ(mru->Count(), 2);
  mru->SetCount(1);
  EXPECT_EQ(text(), u"E");
  EXPECT_THROW(mru->Delete(3), EListError);
  Integer before = freed;
  mru.reset();
  EXPECT_EQ(freed, before + 1);
}

// --- Object links and free notification
// ------------------------------------------------------------------------

struct Destroyer {
  TObject* Victim{};
  void Fire(TObject*) { FreeAndNil(Victim); }
};

TEST(ObjectLinks, ClearedWhenTheObjectIsDestroyed) {
  EXPECT_EQ(vlAddObjectLink(nullptr), nullptr);
  TvlComponent* c = New<TvlComponent>(nullptr);
  TvlObjectLink* l1 = vlAddObjectLink(c);
  TvlObjectLink* l2 = vlAddObjectLink(c);
  EXPECT_EQ(l1->Ref, c);
  Free(c);
  EXPECT_EQ(l1->Ref, nullptr);
  EXPECT_EQ(l2->Ref, nullptr);
  vlRemoveObjectLink(l1);
  vlRemoveObjectLink(l2);
  vlRemoveObjectLink(nullptr);
  EXPECT_EQ(vlObjectLinkCount(), 0);

  // A plain object clears its links through vlClearObjectLinks.
  Owned<TObject> o(New<TObject>());
  TvlObjectLink* l3 = vlAddObjectLink(o.get());
  vlClearObjectLinks(o.get());
  EXPECT_EQ(l3->Ref, nullptr);
  vlRemoveObjectLink(l3);
}

TEST(ObjectLinks, AHolderFreedByItsOwnHandlerStops) {
  auto* holder = New<TSelfFreeing>(nullptr);
  Destroyer destroyer;
  holder->OnFire = TNotifyEvent(&destroyer, &Destroyer::Fire);
  destroyer.Victim = nullptr;
  EXPECT_TRUE(holder->Fire());
  EXPECT_EQ(holder->FiredCount, 1);
  destroyer.Victim = holder;
  EXPECT_FALSE(holder->Fire());  // freed inside: returns without touching itself
  EXPECT_EQ(vlObjectLinkCount(), 0);
}

struct FreedLog {
  std::vector<TComponent*> Freed;
  void OnFreed(TComponent* C) { Freed.push_back(C); }
};

TEST(FreeNotificator, ReportsWatchedComponentsOnly) {
  Owned<TvlFreeNotificator> n(New<TvlFreeNotificator>(nullptr));
  FreedLog log;
  n->SetOnFreeNotification(TvlFreeNotificationEvent(&log, &FreedLog::OnFreed));
  TComponent* a = New<TComponent>(nullptr);
  TComponent* b = New<TComponent>(nullptr);
  n->AddSender(a);
  n->AddSender(b);
  n->AddSender(nullptr);
  n->RemoveSender(b);
  Free(a);
  Free(b);
  EXPECT_EQ(log.Freed, std::vector<TComponent*>{a});
}

TEST(TvlComponentTest, FakeLinksNeverDangle) {
  Owned<TvlComponent> c(New<TvlComponent>(nullptr));
  TComponent* other = New<TComponent>(nullptr);
  SetObjectProp(c.get(), u"FakeComponentLink2", other);
  EXPECT_EQ(c->FakeComponentLink2(), other);
  Free(other);
  EXPECT_EQ(c->FakeComponentLink2(), nullptr);
  EXPECT_FALSE(c->IsDesigning());
  EXPECT_FALSE(c->IsDestroying());
}

// --- Small routines
// ---------------------------------------------------------------------------------------------------

TEST(SmallRoutines, Arithmetic) {
  struct Case {
    Integer A, B, Middle, DivUp;
  };
  for (const Case& c :
       {Case{-3, 0, -2, 0}, Case{3, 0, 1, 0}, Case{7, 2, 4, 4}, Case{6, 2, 4, 3}, Case{-7, 2, -3, -2},
        Case{0, 1, 0, 0}, Case{MaxInt, MaxInt, MaxInt, 1}, Case{-MaxInt - 1, -1, -1073741825, 0}}) {
    EXPECT_EQ(vlRangeMiddle(c.A, c.B), c.Middle) << c.A << "," << c.B;
    if (c.B != 0 && !(c.A == -MaxInt - 1 && c.B == -1)) {
      EXPECT_EQ(vlDivRoundUp(c.A, c.B), c.DivUp) << c.A << "," << c.B;
    }
  }
  EXPECT_THROW(vlDivRoundUp(1, 0), EDivByZero);
  EXPECT_EQ(vlFloatSign(0.0), 1);
  EXPECT_EQ(vlFloatSign(-0.5), -1);
  EXPECT_EQ(vlFloatSign(2.0), 1);
  EXPECT_EQ(vlMakeExtent(3, 4), (TSize{3, 4}));
}

TEST(SmallRoutines, TextHelpers) {
  struct Case {
    const char16_t* Text;
    const char16_t* Before;
    const char16_t* After;
  };
  for (const Case& c : {Case{u"Table|The table", u"Table", u"The table"}, Case{u"Cards", u"Cards", u"Cards"},
                        Case{u"|x|y", u"", u"x|y"}, Case{u"", u"", u""}}) {
    EXPECT_EQ(vlGetTextBeforeBar(c.Text), c.Before);
    EXPECT_EQ(vlGetTextAfterBar(c.Text), c.After);
  }
  const String text = u"a\U0001F600b";
  struct SizeCase {
    Integer Index, Size;
  };
  for (const SizeCase& c : {SizeCase{1, 1}, SizeCase{2, 2}, SizeCase{4, 1}, SizeCase{0, 0}, SizeCase{5, 0}})
    EXPECT_EQ(vlCharSizeAt(text, c.Index), c.Size) << c.Index;

  SetSystemLocale(TSystemLocale::Turkish);
  EXPECT_EQ(vlGetLocaleText(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, u"?"), u",");
  EXPECT_EQ(vlGetLocaleText(0x1234, LOCALE_SDECIMAL, u"?"), u"?");
}

TEST(SmallRoutines, ListsStreamsAndMethods) {
  Owned<TList> src(New<TList>()), dst(New<TList>());
  int a = 0, b = 0;
  src->Add(&a);
  src->Add(nullptr);
  src->Add(&b);
  dst->Add(&b);
  vlCopyListItems(src.get(), dst.get());
  ASSERT_EQ(dst->Count(), 3);
  EXPECT_EQ(dst->Items(2), &b);
  EXPECT_EQ(dst->Items(1), nullptr);

  Owned<TMemoryStream> s1(New<TMemoryStream>()), s2(New<TMemoryStream>());
  EXPECT_TRUE(vlMemoryStreamsEqual(s1.get(), s2.get()));
  s1->WriteBuffer("abc", 3);
  s2->WriteBuffer("abd", 3);
  EXPECT_FALSE(vlMemoryStreamsEqual(s1.get(), s2.get()));
  s2->SetPosition(2);
  s2->WriteBuffer("c", 1);
  EXPECT_TRUE(vlMemoryStreamsEqual(s1.get(), s2.get()));
  s2->WriteBuffer("d", 1);
  EXPECT_FALSE(vlMemoryStreamsEqual(s1.get(), s2.get()));

  ListLog l1, l2;
  TvlComponentListNotifyEvent e1(&l1, &ListLog::OnNotify), e2(&l2, &ListLog::OnNotify);
  EXPECT_TRUE(vlSameMethod(e1.Method(), TvlComponentListNotifyEvent(&l1, &ListLog::OnNotify).Method()));
  EXPECT_FALSE(vlSameMethod(e1.Method(), e2.Method()));

  Owned<TvlInterfacedPersistent> owner(New<TvlInterfacedPersistent>(nullptr));
  Owned<TvlInterfacedPersistent> p(New<TvlInterfacedPersistent>(owner.get()));
  EXPECT_EQ(vlGetPersistentOwner(p.get()), owner.get());
  EXPECT_EQ(vlGetPersistentOwner(owner.get()), nullptr);
}

LRESULT HookProc(int, WPARAM, LPARAM) { return 0; }

TEST(SmallRoutines, ThreadHooks) {
  win::HHOOK hook = nullptr;
  vlSetThreadHook(hook, win::WH_GETMESSAGE, &HookProc);
  EXPECT_NE(hook, nullptr);
  vlReleaseThreadHook(hook);
  EXPECT_EQ(hook, nullptr);
  vlReleaseThreadHook(hook);  // cleared: nothing
}

}  // namespace

// --- Class group -------------------------------------------------------------------------

class TGroupedComponent : public TvlComponent {
  CL_CLASS(TGroupedComponent, TvlComponent)
};
CL_IMPLEMENT_CLASS(TGroupedComponent)

TEST(ClassGroup, LibraryComponentsBelongToTheControlsGroup) {
  // The unit's start-up step (run by the test environment) files the library's
  // components, and every descendant, under the controls' class group.
  EXPECT_EQ(ClassGroupOf(TvlComponent::StaticClass()), TControl::StaticClass());
  EXPECT_EQ(ClassGroupOf(TGroupedComponent::StaticClass()), TControl::StaticClass());
  EXPECT_EQ(ClassGroupOf(TKeyItem::StaticClass()), nullptr);
}
