#include "platform/classes/Lists.h"

#include <cstring>
#include <mutex>

#include "platform/rtl/Finally.h"
#include "platform/rtl/Format.h"

CL_IMPLEMENT_CLASS(TList)
CL_IMPLEMENT_CLASS(TObjectList)
CL_IMPLEMENT_CLASS(TClassList)
CL_IMPLEMENT_CLASS(TOrderedList)
CL_IMPLEMENT_CLASS(TStack)
CL_IMPLEMENT_CLASS(TQueue)
CL_IMPLEMENT_CLASS(TThreadList)
CL_IMPLEMENT_CLASS(TBits)

namespace {

const char16_t kListIndexError[] = u"List index out of bounds (%d)";
const char16_t kListCapacityError[] = u"List capacity out of bounds (%d)";
const char16_t kListCountError[] = u"List count out of bounds (%d)";
const char16_t kDuplicateItem[] = u"List does not allow duplicates ($0%x)";

// The platform's quicksort: middle element as pivot (kept by value), the
// larger half handled by the loop.
void QuickSort(Pointer* SortList, Integer L, Integer R, TListSortCompare SCompare) {
  Integer I;
  do {
    I = L;
    Integer J = R;
    Pointer P = SortList[(static_cast<uint32_t>(L) + static_cast<uint32_t>(R)) >> 1];
    do {
      // The bounds never stop a consistent compare; they keep an
      // inconsistent one inside the list.
      while (I < R && SCompare(SortList[I], P) < 0) ++I;
      while (J > L && SCompare(SortList[J], P) > 0) --J;
      if (I <= J) {
        if (I != J) std::swap(SortList[I], SortList[J]);
        ++I;
        --J;
      }
    } while (I <= J);
    if (L < J) QuickSort(SortList, L, J, SCompare);
    L = I;
  } while (I < R);
}

}  // namespace

// --- TList --------------------------------------------------------------------

void TList::Destroy() {
  Clear();
  inherited::Destroy();
}

void TList::Error(const String& Msg, NativeInt Data) {
  throw EListError(Format(Msg, {static_cast<Int64>(Data)}));
}

Integer TList::Add(Pointer Item) {
  Integer Result = FCount;
  if (Result == FCapacity) Grow();
  FList[Result] = Item;
  ++FCount;
  if (Item) Notify(Item, lnAdded);
  return Result;
}

void TList::Clear() {
  SetCount(0);
  SetCapacity(0);
}

void TList::Delete(Integer Index) {
  if (Index < 0 || Index >= FCount) Error(kListIndexError, Index);
  Pointer Temp = FList[Index];
  --FCount;
  if (Index < FCount)
    std::memmove(&FList[Index], &FList[Index + 1], static_cast<size_t>(FCount - Index) * sizeof(Pointer));
  if (Temp) Notify(Temp, lnDeleted);
}

void TList::Exchange(Integer Index1, Integer Index2) {
  if (Index1 < 0 || Index1 >= FCount) Error(kListIndexError, Index1);
  if (Index2 < 0 || Index2 >= FCount) Error(kListIndexError, Index2);
  std::swap(FList[Index1], FList[Index2]);
}

TList* TList::Expand() {
  if (FCount == FCapacity) Grow();
  return this;
}

Pointer TList::Extract(Pointer Item) {
  Integer I = IndexOf(Item);
  if (I < 0) return nullptr;
  FList[I] = nullptr;
  Delete(I);
  Notify(Item, lnExtracted);
  return Item;
}

Pointer TList::First() const { return Get(0); }

Pointer TList::Last() const { return Get(FCount - 1); }

Pointer TList::Get(Integer Index) const {
  if (Index < 0 || Index >= FCount) Error(kListIndexError, Index);
  return FList[Index];
}

void TList::Put(Integer Index, Pointer Item) {
  if (Index < 0 || Index >= FCount) Error(kListIndexError, Index);
  if (Item == FList[Index]) return;
  Pointer Temp = FList[Index];
  FList[Index] = Item;
  if (Temp) Notify(Temp, lnDeleted);
  if (Item) Notify(Item, lnAdded);
}

void TList::Grow() {
  Integer Delta;
  if (FCapacity > 64)
    Delta = FCapacity / 4;
  else if (FCapacity > 8)
    Delta = 16;
  else
    Delta = 4;
  SetCapacity(FCapacity + Delta);
}

Integer TList::IndexOf(Pointer Item) const {
  for (Integer i = 0; i < FCount; ++i)
    if (FList[i] == Item) return i;
  return -1;
}

void TList::Insert(Integer Index, Pointer Item) {
  if (Index < 0 || Index > FCount) Error(kListIndexError, Index);
  if (FCount == FCapacity) Grow();
  if (Index < FCount)
    std::memmove(&FList[Index + 1], &FList[Index], static_cast<size_t>(FCount - Index) * sizeof(Pointer));
  FList[Index] = Item;
  ++FCount;
  if (Item) Notify(Item, lnAdded);
}

void TList::Move(Integer CurIndex, Integer NewIndex) {
  if (CurIndex == NewIndex) return;
  if (NewIndex < 0 || NewIndex >= FCount) Error(kListIndexError, NewIndex);
  // Moved as nil so that neither step notifies.
  Pointer Item = Get(CurIndex);
  FList[CurIndex] = nullptr;
  Delete(CurIndex);
  Insert(NewIndex, nullptr);
  FList[NewIndex] = Item;
}

Integer TList::Remove(Pointer Item) {
  Integer Result = IndexOf(Item);
  if (Result >= 0) Delete(Result);
  return Result;
}

void TList::Pack() {
  for (Integer i = FCount - 1; i >= 0; --i)
    if (!FList[i]) Delete(i);
}

void TList::SetCapacity(Integer NewCapacity) {
  if (NewCapacity < FCount || NewCapacity > MaxListSize) Error(kListCapacityError, NewCapacity);
  if (NewCapacity == FCapacity) return;
  FList.resize(static_cast<size_t>(NewCapacity), nullptr);
  if (NewCapacity == 0) FList.shrink_to_fit();
  FCapacity = NewCapacity;
}

void TList::SetCount(Integer NewCount) {
  if (NewCount < 0 || NewCount > MaxListSize) Error(kListCountError, NewCount);
  if (NewCount > FCapacity) SetCapacity(NewCount);
  if (NewCount > FCount) {
    std::fill(FList.begin() + FCount, FList.begin() + NewCount, nullptr);
    FCount = NewCount;
  } else {
    for (Integer i = FCount - 1; i >= NewCount; --i) Delete(i);
  }
}

void TList::Sort(TListSortCompare Compare) {
  if (FCount > 1) QuickSort(FList.data(), 0, FCount - 1, Compare);
}

void TList::Notify(Pointer, TListNotification) {}

void TList::Assign(TList* ListA, TListAssignOp AOperator, TList* ListB) {
  TList* LSource;
  // With ListB given, this list first becomes a copy of ListA.
  if (ListB) {
    LSource = ListB;
    Assign(ListA);
  } else {
    LSource = ListA;
  }
  switch (AOperator) {
    case laCopy:
      Clear();
      SetCapacity(LSource->Count());
      for (Integer i = 0; i < LSource->Count(); ++i) Add(LSource->Items(i));
      break;
    case laAnd:
      for (Integer i = Count() - 1; i >= 0; --i)
        if (LSource->IndexOf(Items(i)) == -1) Delete(i);
      break;
    case laOr:
      for (Integer i = 0; i < LSource->Count(); ++i)
        if (IndexOf(LSource->Items(i)) == -1) Add(LSource->Items(i));
      break;
    case laXor: {
      TList* LTemp = New<TList>();
      {
        Finally release([&] { Free(LTemp); });
        LTemp->SetCapacity(LSource->Count());
        for (Integer i = 0; i < LSource->Count(); ++i)
          if (IndexOf(LSource->Items(i)) == -1) LTemp->Add(LSource->Items(i));
        for (Integer i = Count() - 1; i >= 0; --i)
          if (LSource->IndexOf(Items(i)) != -1) Delete(i);
        Integer I = Count() + LTemp->Count();
        if (Capacity() < I) SetCapacity(I);
        for (Integer i = 0; i < LTemp->Count(); ++i) Add(LTemp->Items(i));
      }
      break;
    }
    case laSrcUnique:
      for (Integer i = Count() - 1; i >= 0; --i)
        if (LSource->IndexOf(Items(i)) != -1) Delete(i);
      break;
    case laDestUnique: {
      TList* LTemp = New<TList>();
      {
        Finally release([&] { Free(LTemp); });
        LTemp->SetCapacity(LSource->Count());
        for (Integer i = LSource->Count() - 1; i >= 0; --i)
          if (IndexOf(LSource->Items(i)) == -1) LTemp->Add(LSource->Items(i));
        Assign(LTemp);
      }
      break;
    }
  }
}

// --- TObjectList --------------------------------------------------------------

void TObjectList::Create() {
  inherited::Create();
  FOwnsObjects = true;
}

void TObjectList::Create(Boolean AOwnsObjects) {
  inherited::Create();
  FOwnsObjects = AOwnsObjects;
}

void TObjectList::Notify(Pointer Ptr, TListNotification Action) {
  if (FOwnsObjects && Action == lnDeleted) Free(static_cast<TObject*>(Ptr));
  inherited::Notify(Ptr, Action);
}

Integer TObjectList::FindInstanceOf(TClass AClass, Boolean AExact, Integer AStartAt) const {
  for (Integer i = AStartAt < 0 ? 0 : AStartAt; i < Count(); ++i) {
    TObject* obj = Items(i);
    if (!obj) continue;
    if (AExact ? obj->ClassType() == AClass : obj->InheritsFrom(AClass)) return i;
  }
  return -1;
}

// --- TOrderedList, TStack, TQueue ---------------------------------------------

void TOrderedList::Create() {
  inherited::Create();
  FList = New<TList>();
}

void TOrderedList::Destroy() {
  FreeAndNil(FList);
  inherited::Destroy();
}

Integer TOrderedList::Count() const { return FList->Count(); }

Pointer TOrderedList::Push(Pointer AItem) {
  PushItem(AItem);
  return AItem;
}

Pointer TOrderedList::Pop() {
  if (Count() == 0) return nullptr;
  return PopItem();
}

Pointer TOrderedList::Peek() const {
  if (Count() == 0) return nullptr;
  return PeekItem();
}

void TOrderedList::PushItem(Pointer) { AbstractError(); }

Pointer TOrderedList::PopItem() {
  Pointer Result = PeekItem();
  FList->Delete(FList->Count() - 1);
  return Result;
}

Pointer TOrderedList::PeekItem() const { return FList->Items(FList->Count() - 1); }

void TStack::PushItem(Pointer AItem) { FList->Add(AItem); }

void TQueue::PushItem(Pointer AItem) { FList->Insert(0, AItem); }

// --- TThreadList --------------------------------------------------------------

struct TThreadListLock {
  std::recursive_mutex Mutex;
};

void TThreadList::Create() {
  inherited::Create();
  FLock = new TThreadListLock();
  FList = New<TList>();
  FDuplicates = dupIgnore;
}

void TThreadList::Destroy() {
  if (FLock) {
    LockList();
    Finally unlock([&] { UnlockList(); });
    FreeAndNil(FList);
  }
  delete FLock;
  FLock = nullptr;
  inherited::Destroy();
}

void TThreadList::Add(Pointer Item) {
  std::lock_guard<std::recursive_mutex> guard(FLock->Mutex);
  if (FDuplicates == dupAccept || FList->IndexOf(Item) == -1)
    FList->Add(Item);
  else if (FDuplicates == dupError)
    TList::Error(kDuplicateItem, reinterpret_cast<NativeInt>(Item));
}

void TThreadList::Clear() {
  std::lock_guard<std::recursive_mutex> guard(FLock->Mutex);
  FList->Clear();
}

TList* TThreadList::LockList() {
  FLock->Mutex.lock();
  return FList;
}

void TThreadList::Remove(Pointer Item) {
  std::lock_guard<std::recursive_mutex> guard(FLock->Mutex);
  FList->Remove(Item);
}

void TThreadList::UnlockList() { FLock->Mutex.unlock(); }

// --- TBits --------------------------------------------------------------------

void TBits::Error() { throw EBitsError(u"Bits index out of range"); }

void TBits::SetSize(Integer Value) {
  if (Value < 0) Error();
  FBits.resize((static_cast<size_t>(Value) + 31) / 32, 0);
  // Bits beyond the new size start clear when the array grows again.
  if (Value % 32) FBits.back() &= (uint32_t{1} << (Value % 32)) - 1;
  FSize = Value;
}

Boolean TBits::Bits(Integer Index) const {
  if (Index < 0 || Index >= FSize) Error();
  return (FBits[static_cast<size_t>(Index) / 32] >> (Index % 32)) & 1;
}

void TBits::SetBits(Integer Index, Boolean Value) {
  if (Index < 0) Error();
  if (Index >= FSize) SetSize(Index + 1);
  uint32_t mask = uint32_t{1} << (Index % 32);
  if (Value)
    FBits[static_cast<size_t>(Index) / 32] |= mask;
  else
    FBits[static_cast<size_t>(Index) / 32] &= ~mask;
}

Integer TBits::OpenBit() const {
  for (Integer i = 0; i < FSize; ++i)
    if (!((FBits[static_cast<size_t>(i) / 32] >> (i % 32)) & 1)) return i;
  return FSize;
}
