// Lists of pointers, objects and class references, the thread-safe list and
// the bit array.
//
// TList keeps its items in a buffer of Capacity slots, of which the first
// Count are used; it grows by the platform's steps (4, 16, then a quarter).
// Sort is the platform's quicksort with the middle element as pivot: it is
// not stable, and callers depend on the order it gives to equal keys.
#pragma once

#include <vector>

#include "platform/classes/ObjectModel.h"

// Compares two items: < 0, 0 or > 0.
using TListSortCompare = Integer (*)(Pointer Item1, Pointer Item2);

enum TListNotification : Byte { lnAdded, lnExtracted, lnDeleted };

// How Assign combines the lists: copy, intersection, union, symmetric
// difference, or keep only the items unique to the source or to the list.
enum TListAssignOp : Byte { laCopy, laAnd, laOr, laXor, laSrcUnique, laDestUnique };

// What a list that rejects duplicates does with one (TThreadList, TStringList).
enum TDuplicates : Byte { dupIgnore, dupAccept, dupError };

// The largest item count of a list.
constexpr Integer MaxListSize = MaxInt / 16;

class TList : public TObject {
  CL_CLASS(TList, TObject)
 public:
  void Create() {}
  void Destroy() override;

  Integer Add(Pointer Item);
  // Virtual as on the platform: Destroy empties the list through it, so a
  // descendant's Clear (one that frees its items) runs then too.
  virtual void Clear();
  void Delete(Integer Index);
  // Raises EListError with Msg, in which %d stands for Data.
  [[noreturn]] static void Error(const String& Msg, NativeInt Data);
  void Exchange(Integer Index1, Integer Index2);
  TList* Expand();
  // Removes Item without notifying lnDeleted (lnExtracted instead); nil when absent.
  Pointer Extract(Pointer Item);
  Pointer First() const;
  Integer IndexOf(Pointer Item) const;
  void Insert(Integer Index, Pointer Item);
  Pointer Last() const;
  void Move(Integer CurIndex, Integer NewIndex);
  Integer Remove(Pointer Item);
  // Deletes the nil items.
  void Pack();
  void Sort(TListSortCompare Compare);
  // Makes this list ListA combined with ListB by AOperator (with ListB nil,
  // this list is combined with ListA).
  void Assign(TList* ListA, TListAssignOp AOperator = laCopy, TList* ListB = nullptr);

  Integer Capacity() const { return FCapacity; }
  void SetCapacity(Integer NewCapacity);
  Integer Count() const { return FCount; }
  void SetCount(Integer NewCount);
  Pointer Items(Integer Index) const { return Get(Index); }
  void SetItems(Integer Index, Pointer Item) { Put(Index, Item); }
  // The item buffer (Capacity slots).
  Pointer* List() { return FList.data(); }

 protected:
  Pointer Get(Integer Index) const;
  void Put(Integer Index, Pointer Item);
  virtual void Grow();
  virtual void Notify(Pointer Ptr, TListNotification Action);

 private:
  std::vector<Pointer> FList;
  Integer FCount{};
  Integer FCapacity{};
};

// A list of objects that frees the objects it deletes when OwnsObjects is set
// (the default of Create()).
class TObjectList : public TList {
  CL_CLASS(TObjectList, TList)
 public:
  void Create();
  void Create(Boolean AOwnsObjects);

  Integer Add(TObject* AObject) { return TList::Add(AObject); }
  TObject* Extract(TObject* Item) { return static_cast<TObject*>(TList::Extract(Item)); }
  Integer Remove(TObject* AObject) { return TList::Remove(AObject); }
  Integer IndexOf(TObject* AObject) const { return TList::IndexOf(AObject); }
  // The index of the first object of class AClass (or, unless AExact, of a
  // descendant) from AStartAt on; -1 when none.
  Integer FindInstanceOf(TClass AClass, Boolean AExact = true, Integer AStartAt = 0) const;
  void Insert(Integer Index, TObject* AObject) { TList::Insert(Index, AObject); }
  TObject* First() const { return static_cast<TObject*>(TList::First()); }
  TObject* Last() const { return static_cast<TObject*>(TList::Last()); }
  TObject* Items(Integer Index) const { return static_cast<TObject*>(Get(Index)); }
  void SetItems(Integer Index, TObject* AObject) { Put(Index, AObject); }

  Boolean OwnsObjects() const { return FOwnsObjects; }
  void SetOwnsObjects(Boolean Value) { FOwnsObjects = Value; }

 protected:
  void Notify(Pointer Ptr, TListNotification Action) override;

 private:
  Boolean FOwnsObjects{};
};

// A list of class references.
class TClassList : public TList {
  CL_CLASS(TClassList, TList)
 public:
  Integer Add(TClass AClass) { return TList::Add(const_cast<TMetaClass*>(AClass)); }
  TClass Extract(TClass Item) { return static_cast<TClass>(TList::Extract(const_cast<TMetaClass*>(Item))); }
  Integer Remove(TClass AClass) { return TList::Remove(const_cast<TMetaClass*>(AClass)); }
  Integer IndexOf(TClass AClass) const { return TList::IndexOf(const_cast<TMetaClass*>(AClass)); }
  void Insert(Integer Index, TClass AClass) { TList::Insert(Index, const_cast<TMetaClass*>(AClass)); }
  TClass First() const { return static_cast<TClass>(TList::First()); }
  TClass Last() const { return static_cast<TClass>(TList::Last()); }
  TClass Items(Integer Index) const { return static_cast<TClass>(Get(Index)); }
  void SetItems(Integer Index, TClass AClass) { Put(Index, const_cast<TMetaClass*>(AClass)); }
};

// The base of the stack and the queue: Push adds where the kind says, Pop
// and Peek take from the end.
class TOrderedList : public TObject {
  CL_CLASS(TOrderedList, TObject)
 public:
  void Create();
  void Destroy() override;

  Integer Count() const;
  Boolean AtLeast(Integer ACount) const { return Count() >= ACount; }
  Pointer Push(Pointer AItem);
  // nil when empty.
  Pointer Pop();
  Pointer Peek() const;

 protected:
  // Abstract: raises EAbstractError.
  virtual void PushItem(Pointer AItem);
  virtual Pointer PopItem();
  virtual Pointer PeekItem() const;
  TList* FList{};
};

// Last in, first out.
class TStack : public TOrderedList {
  CL_CLASS(TStack, TOrderedList)
 protected:
  void PushItem(Pointer AItem) override;
};

// First in, first out.
class TQueue : public TOrderedList {
  CL_CLASS(TQueue, TOrderedList)
 protected:
  void PushItem(Pointer AItem) override;
};

struct TThreadListLock;

// A list guarded by a recursive lock: LockList gives the list and holds the
// lock until UnlockList.
class TThreadList : public TObject {
  CL_CLASS(TThreadList, TObject)
 public:
  void Create();
  void Destroy() override;

  // Adds Item following Duplicates (dupIgnore by default: an item already
  // present is not added again; dupError raises EListError).
  void Add(Pointer Item);
  void Clear();
  TList* LockList();
  void Remove(Pointer Item);
  void UnlockList();

  TDuplicates Duplicates() const { return FDuplicates; }
  void SetDuplicates(TDuplicates Value) { FDuplicates = Value; }

 private:
  TList* FList{};
  TThreadListLock* FLock{};
  TDuplicates FDuplicates{};
};

// An array of bits that grows on demand.
class TBits : public TObject {
  CL_CLASS(TBits, TObject)
 public:
  // The index of the first clear bit, or Size when all are set.
  Integer OpenBit() const;
  Boolean Bits(Integer Index) const;
  // Setting a bit at or past Size grows the array to Index + 1.
  void SetBits(Integer Index, Boolean Value);
  Integer Size() const { return FSize; }
  void SetSize(Integer Value);

 private:
  [[noreturn]] static void Error();
  std::vector<uint32_t> FBits;
  Integer FSize{};
};
