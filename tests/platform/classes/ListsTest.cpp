#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "platform/classes/Lists.h"

namespace {

struct TKeyed {
  int Key;
  const char* Id;
};

Integer CompareKeys(Pointer A, Pointer B) {
  int a = static_cast<TKeyed*>(A)->Key, b = static_cast<TKeyed*>(B)->Key;
  return a < b ? -1 : a > b ? 1 : 0;
}

std::string Ids(TList* L) {
  std::string s;
  for (Integer i = 0; i < L->Count(); ++i) s += std::string(static_cast<TKeyed*>(L->Items(i))->Id) + " ";
  return s;
}

// Records what the list tells about its items.
class TLoggingList : public TList {
  CL_CLASS(TLoggingList, TList)
 public:
  std::vector<std::pair<Pointer, TListNotification>> Log;

 protected:
  void Notify(Pointer Ptr, TListNotification Action) override { Log.emplace_back(Ptr, Action); }
};

// Counts its destructions, so that ownership can be checked.
class TCounted : public TObject {
  CL_CLASS(TCounted, TObject)
 public:
  void Create(int* ACounter) { FCounter = ACounter; }
  void Destroy() override {
    ++*FCounter;
    inherited::Destroy();
  }

 private:
  int* FCounter{};
};
class TCountedChild : public TCounted {
  CL_CLASS(TCountedChild, TCounted)
};

CL_IMPLEMENT_CLASS(TLoggingList)
CL_IMPLEMENT_CLASS(TCounted)
CL_IMPLEMENT_CLASS(TCountedChild)

using ListPtr = std::unique_ptr<TList, TObjectFree>;

TEST(TListTest, SortFollowsTheMiddlePivotQuicksortForEqualKeys) {
  // Keys 2 1 2 1 2 1: the platform's quicksort gives this order of the equal
  // keys (worked by hand through its partition steps).
  TKeyed items[] = {{2, "B1"}, {1, "A1"}, {2, "B2"}, {1, "A2"}, {2, "B3"}, {1, "A3"}};
  ListPtr list(New<TList>());
  for (auto& it : items) list->Add(&it);
  list->Sort(CompareKeys);
  EXPECT_EQ(Ids(list.get()), "A2 A1 A3 B3 B1 B2 ");
}

TEST(TListTest, SortOrdersLargeInputs) {
  std::mt19937 rng(7);
  std::vector<TKeyed> items(1000);
  for (auto& it : items) it = {static_cast<int>(rng() % 50), ""};
  ListPtr list(New<TList>());
  for (auto& it : items) list->Add(&it);
  list->Sort(CompareKeys);
  for (Integer i = 1; i < list->Count(); ++i)
    ASSERT_LE(static_cast<TKeyed*>(list->Items(i - 1))->Key, static_cast<TKeyed*>(list->Items(i))->Key);
  // A list of one item and an empty list are left alone.
  ListPtr small(New<TList>());
  small->Sort(CompareKeys);
  small->Add(&items[0]);
  small->Sort(CompareKeys);
  EXPECT_EQ(small->Count(), 1);
}

TEST(TListTest, InconsistentCompareStaysInsideTheList) {
  // A compare that is no order must not run the scans off the list; the
  // items stay a permutation of the input.
  static std::mt19937 rng(3);
  TListSortCompare compares[] = {
      [](Pointer, Pointer) -> Integer { return -1; },
      [](Pointer, Pointer) -> Integer { return 1; },
      [](Pointer, Pointer) -> Integer { return static_cast<Integer>(rng() % 3) - 1; },
  };
  std::vector<int> values(60);
  for (auto cmp : compares) {
    ListPtr list(New<TList>());
    for (auto& v : values) list->Add(&v);
    list->Sort(cmp);
    std::vector<Pointer> items(list->List(), list->List() + list->Count());
    std::sort(items.begin(), items.end());
    for (size_t i = 0; i < values.size(); ++i) ASSERT_EQ(items[i], &values[i]);
  }
}

TEST(TListTest, IndexErrorsRaiseEListErrorWithTheIndex) {
  ListPtr list(New<TList>());
  int a = 0, b = 0;
  list->Add(&a);
  list->Add(&b);
  struct Case {
    const char* Name;
    std::function<void()> Op;
    const char16_t* Message;
  } cases[] = {
      {"Items(-1)", [&] { list->Items(-1); }, u"List index out of bounds (-1)"},
      {"Items(Count)", [&] { list->Items(2); }, u"List index out of bounds (2)"},
      {"SetItems", [&] { list->SetItems(5, nullptr); }, u"List index out of bounds (5)"},
      {"Delete", [&] { list->Delete(2); }, u"List index out of bounds (2)"},
      {"Insert past end", [&] { list->Insert(3, nullptr); }, u"List index out of bounds (3)"},
      {"Exchange", [&] { list->Exchange(0, 9); }, u"List index out of bounds (9)"},
      {"Move to", [&] { list->Move(0, 2); }, u"List index out of bounds (2)"},
      {"Move from", [&] { list->Move(-4, 1); }, u"List index out of bounds (-4)"},
      {"Capacity", [&] { list->SetCapacity(1); }, u"List capacity out of bounds (1)"},
      {"Count", [&] { list->SetCount(-1); }, u"List count out of bounds (-1)"},
  };
  for (auto& c : cases) {
    try {
      c.Op();
      ADD_FAILURE() << c.Name << " did not raise";
    } catch (const EListError& e) {
      EXPECT_EQ(e.Message(), c.Message) << c.Name;
    }
  }
  EXPECT_EQ(list->Count(), 2);
  ListPtr empty(New<TList>());
  EXPECT_THROW(empty->First(), EListError);
  EXPECT_THROW(empty->Last(), EListError);
}

TEST(TListTest, NotifyReportsAddedExtractedAndDeleted) {
  std::unique_ptr<TLoggingList, TObjectFree> list(New<TLoggingList>());
  int a = 0, b = 0, c = 0, d = 0;
  list->Add(&a);
  list->Add(nullptr);  // nil items are never notified
  list->Insert(0, &b);
  EXPECT_EQ(list->Extract(&a), &a);
  EXPECT_EQ(list->Extract(&a), nullptr);
  list->SetItems(0, &c);  // replaces b
  list->Add(&d);
  list->Move(0, 2);  // moves are silent
  list->Exchange(0, 1);
  list->Delete(list->IndexOf(&c));
  list->Add(&a);
  list->Clear();  // from the last item back
  using P = std::pair<Pointer, TListNotification>;
  std::vector<P> expected = {
      {&a, lnAdded}, {&b, lnAdded},   {&a, lnExtracted}, {&b, lnDeleted}, {&c, lnAdded},
      {&d, lnAdded}, {&c, lnDeleted}, {&a, lnAdded},     {&a, lnDeleted}, {&d, lnDeleted},
  };
  EXPECT_EQ(list->Log, expected);
}

// A list whose Clear frees its items: Clear is virtual, so it runs when
// called through a TList and when the list is destroyed.
class TFreeingList : public TList {
  CL_CLASS(TFreeingList, TList)
 public:
  Integer* Freed{};
  void Clear() override {
    for (Integer i = 0; i < Count(); ++i) {
      delete static_cast<int*>(Items(i));
      ++*Freed;
    }
    inherited::Clear();
  }
};
CL_IMPLEMENT_CLASS(TFreeingList)

TEST(TListTest, ClearIsVirtualAndRunsOnDestroy) {
  Integer freed = 0;
  TFreeingList* list = New<TFreeingList>();
  list->Freed = &freed;
  list->Add(new int(1));
  list->Add(new int(2));
  static_cast<TList*>(list)->Clear();
  EXPECT_EQ(freed, 2);
  EXPECT_EQ(list->Count(), 0);
  list->Add(new int(3));
  Free(list);
  EXPECT_EQ(freed, 3);
}

TEST(TListTest, EditingKeepsOrderAndPackDropsNils) {
  ListPtr list(New<TList>());
  int v[5];
  for (auto& x : v) list->Add(&x);
  list->Move(0, 4);
  EXPECT_EQ(list->Items(4), &v[0]);
  EXPECT_EQ(list->First(), &v[1]);
  list->Exchange(0, 4);
  EXPECT_EQ(list->First(), &v[0]);
  EXPECT_EQ(list->Last(), &v[1]);
  EXPECT_EQ(list->Remove(&v[2]), 1);
  EXPECT_EQ(list->Remove(&v[2]), -1);
  list->SetCount(6);  // grows with nils
  EXPECT_EQ(list->Count(), 6);
  EXPECT_EQ(list->Items(5), nullptr);
  list->Pack();
  EXPECT_EQ(list->Count(), 4);
  EXPECT_EQ(list->IndexOf(nullptr), -1);
}

TEST(TListTest, GrowsByThePlatformSteps) {
  ListPtr list(New<TList>());
  std::vector<Integer> capacities;
  int x = 0;
  for (int i = 0; i < 120; ++i) {
    list->Add(&x);
    if (capacities.empty() || capacities.back() != list->Capacity()) capacities.push_back(list->Capacity());
  }
  // 4 while small, then 16, then a quarter of the capacity.
  EXPECT_EQ(capacities, (std::vector<Integer>{4, 8, 12, 28, 44, 60, 76, 95, 118, 147}));
  list->Clear();
  EXPECT_EQ(list->Capacity(), 0);
}

TEST(TListTest, AssignOperators) {
  int v[6];
  auto make = [&](std::initializer_list<int> idx) {
    TList* l = New<TList>();
    for (int i : idx) l->Add(&v[i]);
    return ListPtr(l);
  };
  auto indexes = [&](TList* l) {
    std::vector<int> r;
    for (Integer i = 0; i < l->Count(); ++i)
      r.push_back(static_cast<int>(static_cast<int*>(l->Items(i)) - v));
    return r;
  };
  struct Case {
    TListAssignOp Op;
    std::vector<int> Expected;
  } cases[] = {
      {laCopy, {2, 3, 4}}, {laAnd, {2, 3}},       {laOr, {0, 1, 2, 3, 4}},
      {laXor, {0, 1, 4}},  {laSrcUnique, {0, 1}}, {laDestUnique, {4}},
  };
  for (auto& c : cases) {
    ListPtr dest = make({0, 1, 2, 3});
    ListPtr src = make({2, 3, 4});
    dest->Assign(src.get(), c.Op);
    EXPECT_EQ(indexes(dest.get()), c.Expected) << int(c.Op);
  }
  // With ListB, the list first becomes a copy of ListA.
  ListPtr dest = make({5});
  ListPtr a = make({0, 1, 2});
  ListPtr b = make({1, 2, 3});
  dest->Assign(a.get(), laAnd, b.get());
  EXPECT_EQ(indexes(dest.get()), (std::vector<int>{1, 2}));
}

TEST(TObjectListTest, FreesOwnedObjectsOnDeleteClearAndReplace) {
  int freed = 0;
  std::unique_ptr<TObjectList, TObjectFree> list(New<TObjectList>());
  EXPECT_TRUE(list->OwnsObjects());
  TCounted* objs[5];
  for (auto& o : objs) list->Add(o = New<TCounted>(&freed));
  list->Delete(0);
  EXPECT_EQ(freed, 1);
  EXPECT_EQ(list->Remove(objs[1]), 0);
  EXPECT_EQ(freed, 2);
  // Extract hands the object back without freeing it.
  EXPECT_EQ(list->Extract(objs[2]), objs[2]);
  EXPECT_EQ(freed, 2);
  Free(objs[2]);
  EXPECT_EQ(freed, 3);
  list->SetItems(0, nullptr);  // the replaced object is freed
  EXPECT_EQ(freed, 4);
  list.reset();  // Destroy clears
  EXPECT_EQ(freed, 5);
}

TEST(TObjectListTest, NotOwningLeavesObjectsAlone) {
  int freed = 0;
  std::unique_ptr<TObjectList, TObjectFree> list(New<TObjectList>(false));
  TCounted* a = New<TCounted>(&freed);
  list->Add(a);
  list->Clear();
  EXPECT_EQ(freed, 0);
  Free(a);
  EXPECT_EQ(freed, 1);
}

TEST(TObjectListTest, FindInstanceOf) {
  int freed = 0;
  std::unique_ptr<TObjectList, TObjectFree> list(New<TObjectList>());
  list->Add(New<TCounted>(&freed));
  list->Add(New<TCountedChild>(&freed));
  list->Add(New<TCounted>(&freed));
  EXPECT_EQ(list->FindInstanceOf(TCountedChild::StaticClass()), 1);
  EXPECT_EQ(list->FindInstanceOf(TCounted::StaticClass(), true, 1), 2);
  EXPECT_EQ(list->FindInstanceOf(TObject::StaticClass(), false, 1), 1);
  EXPECT_EQ(list->FindInstanceOf(TObject::StaticClass(), true), -1);
}

TEST(TClassListTest, HoldsClassReferences) {
  std::unique_ptr<TClassList, TObjectFree> list(New<TClassList>());
  list->Add(TCounted::StaticClass());
  list->Add(TCountedChild::StaticClass());
  EXPECT_EQ(list->IndexOf(TCountedChild::StaticClass()), 1);
  EXPECT_EQ(list->Last(), TCountedChild::StaticClass());
}

TEST(TOrderedListTest, StackAndQueue) {
  int a = 0, b = 0, c = 0;
  std::unique_ptr<TStack, TObjectFree> stack(New<TStack>());
  std::unique_ptr<TQueue, TObjectFree> queue(New<TQueue>());
  for (int* p : {&a, &b, &c}) {
    stack->Push(p);
    queue->Push(p);
  }
  EXPECT_EQ(stack->Peek(), &c);
  EXPECT_EQ(queue->Peek(), &a);
  EXPECT_EQ(stack->Pop(), &c);
  EXPECT_EQ(queue->Pop(), &a);
  EXPECT_TRUE(stack->AtLeast(2));
  stack->Pop();
  stack->Pop();
  EXPECT_EQ(stack->Pop(), nullptr);
  EXPECT_EQ(stack->Count(), 0);
}

TEST(TThreadListTest, DuplicatesAndConcurrentAdds) {
  std::unique_ptr<TThreadList, TObjectFree> list(New<TThreadList>());
  int a = 0;
  list->Add(&a);
  list->Add(&a);  // dupIgnore by default
  EXPECT_EQ(list->LockList()->Count(), 1);
  list->UnlockList();
  list->SetDuplicates(dupError);
  EXPECT_THROW(list->Add(&a), EListError);
  list->SetDuplicates(dupAccept);
  list->Add(&a);
  EXPECT_EQ(list->LockList()->Count(), 2);
  list->UnlockList();
  list->Clear();

  std::vector<int> values(400);
  std::vector<std::thread> workers;
  for (int t = 0; t < 4; ++t)
    workers.emplace_back([&, t] {
      for (int i = 0; i < 100; ++i) list->Add(&values[static_cast<size_t>(t * 100 + i)]);
    });
  for (auto& w : workers) w.join();
  TList* l = list->LockList();
  EXPECT_EQ(l->Count(), 400);
  list->UnlockList();
}

TEST(TBitsTest, GrowsOnWriteAndRaisesOutOfRange) {
  std::unique_ptr<TBits, TObjectFree> bits(New<TBits>());
  EXPECT_EQ(bits->OpenBit(), 0);
  bits->SetBits(100, true);
  EXPECT_EQ(bits->Size(), 101);
  EXPECT_TRUE(bits->Bits(100));
  EXPECT_FALSE(bits->Bits(99));
  for (Integer i = 0; i < 40; ++i) bits->SetBits(i, true);
  EXPECT_EQ(bits->OpenBit(), 40);
  // A shrunk array grows again with clear bits.
  bits->SetSize(35);
  bits->SetSize(64);
  EXPECT_FALSE(bits->Bits(36));
  EXPECT_TRUE(bits->Bits(34));
  struct Case {
    std::function<void()> Op;
  } cases[] = {{[&] { bits->Bits(64); }},
               {[&] { bits->Bits(-1); }},
               {[&] { bits->SetBits(-1, true); }},
               {[&] { bits->SetSize(-1); }}};
  for (auto& c : cases) {
    try {
      c.Op();
      ADD_FAILURE() << "no error";
    } catch (const EBitsError& e) {
      EXPECT_EQ(e.Message(), u"Bits index out of range");
    }
  }
}

}  // namespace
