#include "lib/foundation/vlClasses.h"

#include <cstring>
#include <unordered_map>

#include "platform/classes/ClassRegistry.h"
#include "platform/classes/ModuleInit.h"
#include "platform/classes/Streams.h"
#include "platform/classes/TypInfoBuild.h"
#include "platform/classes/WinHandles.h"
#include "platform/rtl/Conversions.h"
#include "platform/rtl/Finally.h"
#include "platform/rtl/Locale.h"
#include "platform/rtl/Numbers.h"
#include "platform/rtl/Strings.h"
#include "platform/vcl/Controls.h"
#include "platform/win/Windows.h"

CL_IMPLEMENT_CLASS(TvlIUnknownObject)
CL_IMPLEMENT_CLASS(TvlInterfacedPersistent)
CL_IMPLEMENT_CLASS_PUBLISHED(TvlComponent, P) {
  P.Property(u"FakeComponentLink1", &TvlComponent::FakeComponentLink1, &TvlComponent::SetFakeComponentLink1);
  P.Property(u"FakeComponentLink2", &TvlComponent::FakeComponentLink2, &TvlComponent::SetFakeComponentLink2);
  P.Property(u"FakeComponentLink3", &TvlComponent::FakeComponentLink3, &TvlComponent::SetFakeComponentLink3);
}
CL_IMPLEMENT_CLASS(TvlInterfacedCollectionItem)
CL_IMPLEMENT_CLASS(TvlOwnedInterfacedCollection)
CL_IMPLEMENT_CLASS(TvlObjectList)
CL_IMPLEMENT_CLASS(TvlEventHandlerCollection)
CL_IMPLEMENT_CLASS(TvlStringList)
CL_IMPLEMENT_CLASS(TvlOpenList)
CL_IMPLEMENT_CLASS(TvlRegisteredClassListItemData)
CL_IMPLEMENT_CLASS(TvlRegisteredClassList)
CL_IMPLEMENT_CLASS(TvlRegisteredClassesStringList)
CL_IMPLEMENT_CLASS(TvlRegisteredClasses)
CL_IMPLEMENT_CLASS(TvlComponentCollectionItem)
CL_IMPLEMENT_CLASS(TvlComponentCollection)
CL_IMPLEMENT_CLASS(TvlComponentList)
CL_IMPLEMENT_CLASS(TvlMRUItem)
CL_IMPLEMENT_CLASS(TvlMRUItems)
CL_IMPLEMENT_CLASS(TvlObjectLink)
CL_IMPLEMENT_CLASS(TvlFreeNotificator)

namespace {

const char16_t kListIndexError[] = u"List index out of bounds (%d)";

// Whether S begins with Prefix, ASCII case ignored.
bool StartsTextAscii(const String& Prefix, const String& S) {
  return S.size() >= Prefix.size() && SameText(S.substr(0, Prefix.size()), Prefix);
}

// The library's components belong to the class group of the controls, so
// that streaming finds them wherever the controls' group is active.
void Startup() {
  StartClassGroup(TControl::StaticClass());
  GroupDescendentsWith(TvlComponent::StaticClass(), TControl::StaticClass());
}

}  // namespace

CL_UNIT_STEPS(vlClasses, &Startup, nullptr);

// --- TvlIUnknownObject ---------------------------------------------------------------

HRESULT TvlIUnknownObject::QueryInterface(const TGUID& IID, void** Obj) {
  return GetInterface(IID, Obj) ? S_OK : E_NOINTERFACE;
}

// --- TvlInterfacedPersistent --------------------------------------------------------------

void TvlInterfacedPersistent::Create(TPersistent* AOwner) { FOwner = AOwner; }

// --- TvlComponent ----------------------------------------------------------------------------

void TvlComponent::Destroy() {
  vlClearObjectLinks(this);
  inherited::Destroy();
}

void TvlComponent::BeforeDestruction() {
  if (!IsDestroying()) Destroying();
  inherited::BeforeDestruction();
}

void TvlComponent::Loaded() {
  inherited::Loaded();
  UpdateFakeLinks();
}

void TvlComponent::GetFakeComponentLinks(TList* AList) {}

void TvlComponent::Notification(TComponent* AComponent, TOperation Operation) {
  inherited::Notification(AComponent, Operation);
  if (Operation == opRemove)
    for (TComponent*& link : FFakeComponentLinks)
      if (link == AComponent) link = nullptr;
}

void TvlComponent::SetFakeComponentLink(Integer AIndex, TComponent* Value) {
  TComponent*& link = FFakeComponentLinks[AIndex];
  if (link == Value) return;
  TComponent* old = link;
  link = Value;
  // Another form's component may be freed first: follow it so that the link
  // never dangles.
  bool stillUsed = false;
  for (TComponent* other : FFakeComponentLinks) stillUsed = stillUsed || other == old;
  if (old && !stillUsed) old->RemoveFreeNotification(this);
  if (Value) Value->FreeNotification(this);
}

void TvlComponent::UpdateFakeLinks() {
  if (!IsDesigning() || IsDestroying() || !Owner()) return;
  TList* list = New<TList>();
  Finally release([&] { Free(list); });
  GetFakeComponentLinks(list);
  for (Integer i = 0; i < 3; ++i)
    SetFakeComponentLink(
        i, i < list->Count() ? static_cast<TComponent*>(static_cast<TObject*>(list->Items(i))) : nullptr);
}

// --- TvlInterfacedCollectionItem -----------------------------------------------------------

void TvlInterfacedCollectionItem::AfterConstruction() {
  inherited::AfterConstruction();
  if (TPersistent* owner = GetOwner()) FOwnerInterface = dynamic_cast<IInterface*>(owner);
}

void TvlInterfacedCollectionItem::Destroy() {
  FOwnerInterface = nullptr;
  inherited::Destroy();
}

HRESULT TvlInterfacedCollectionItem::QueryInterface(const TGUID& IID, void** Obj) {
  return GetInterface(IID, Obj) ? S_OK : E_NOINTERFACE;
}

Integer TvlInterfacedCollectionItem::_AddRef() { return FOwnerInterface ? FOwnerInterface->_AddRef() : -1; }

Integer TvlInterfacedCollectionItem::_Release() { return FOwnerInterface ? FOwnerInterface->_Release() : -1; }

// --- TvlOwnedInterfacedCollection ------------------------------------------------------------

void TvlOwnedInterfacedCollection::Destroy() {
  FInternalState.Include(cisDestroying);
  inherited::Destroy();
}

HRESULT TvlOwnedInterfacedCollection::QueryInterface(const TGUID& IID, void** Obj) {
  return GetInterface(IID, Obj) ? S_OK : E_NOINTERFACE;
}

void TvlOwnedInterfacedCollection::SetSorted(Boolean Value) {
  if (FSorted == Value) return;
  FSorted = Value;
  if (FSorted) Sort();
}

Integer TvlOwnedInterfacedCollection::CompareItemsByIndex(TCollectionItem* Item1, TCollectionItem* Item2) {
  Integer d = Item1->Index() - Item2->Index();  // indexes are small: no overflow
  return d < 0 ? -1 : (d > 0 ? 1 : 0);
}

Integer TvlOwnedInterfacedCollection::CompareListItems(TvlStringList* AList, Integer Index1, Integer Index2) {
  auto* item1 = static_cast<TCollectionItem*>(AList->Objects(Index1));
  auto* item2 = static_cast<TCollectionItem*>(AList->Objects(Index2));
  if (FOnCompare) return FOnCompare(this, item1, item2);
  return CompareItemsByIndex(item1, item2);
}

void TvlOwnedInterfacedCollection::Sort() {
  if (UpdateCount() > 0 || FInternalState.Contains(cisSorting)) return;
  FInternalState.Include(cisSorting);
  TvlStringList* list = nullptr;
  Finally release([&] {
    Free(list);
    FInternalState.Exclude(cisSorting);
  });
  list = New<TvlStringList>();
  for (Integer i = 0; i < Count(); ++i) list->AddObject(IntToStr(i), Items(i));
  list->SetOnCompare(TvlStringListCompareEvent(this, &TvlOwnedInterfacedCollection::CompareListItems));
  list->Sort();
  BeginUpdate();
  Finally endUpdate([&] { EndUpdate(); });
  for (Integer i = 0; i < list->Count(); ++i)
    static_cast<TCollectionItem*>(list->Objects(i))->SetIndex(i);
}

void TvlOwnedInterfacedCollection::Update(TCollectionItem* Item) {
  if (FInternalState.Contains(cisUpdating)) return;
  FInternalState.Include(cisUpdating);
  Finally restore([&] { FInternalState.Exclude(cisUpdating); });
  if (FSorted && !Item) Sort();
  inherited::Update(Item);
  if (!FInternalState.Contains(cisDestroying) && FOnChange) FOnChange(this, Item);
}

// --- TvlObjectList --------------------------------------------------------------------------------

void TvlObjectList::Create(Boolean AOwnObjects) { FOwnObjects = AOwnObjects; }

void TvlObjectList::Clear() {
  if (FOwnObjects)
    for (Integer i = 0; i < Count(); ++i) Free(static_cast<TObject*>(Items(i)));
  inherited::Clear();
}

// --- TvlEventHandlerCollection ------------------------------------------------------------------

Integer TvlEventHandlerCollection::IndexOf(const TvlEventHandler& AHandler) const {
  for (size_t i = 0; i < FHandlers.size(); ++i)
    if (FHandlers[i] == AHandler) return static_cast<Integer>(i);
  return -1;
}

void TvlEventHandlerCollection::Add(const TvlEventHandler& AHandler) {
  if (IndexOf(AHandler) < 0) FHandlers.push_back(AHandler);
}

void TvlEventHandlerCollection::Remove(const TvlEventHandler& AHandler) {
  Integer i = IndexOf(AHandler);
  if (i >= 0) Delete(i);
}

void TvlEventHandlerCollection::Delete(Integer AIndex) {
  if (AIndex < 0 || AIndex >= Count()) TList::Error(kListIndexError, AIndex);
  FHandlers.erase(FHandlers.begin() + AIndex);
}

const TvlEventHandler& TvlEventHandlerCollection::Items(Integer AIndex) const {
  if (AIndex < 0 || AIndex >= Count()) TList::Error(kListIndexError, AIndex);
  return FHandlers[static_cast<size_t>(AIndex)];
}

void TvlEventHandlerCollection::CallEvents(TObject* Sender, const void* EventArgs) {
  // A handler may add or remove handlers: call the ones registered now that
  // are still registered.
  const std::vector<TvlEventHandler> handlers = FHandlers;
  for (const TvlEventHandler& h : handlers)
    if (IndexOf(h) >= 0) h(Sender, EventArgs);
}

// --- TvlStringList ----------------------------------------------------------------------------------

Integer TvlStringList::CompareByEvent(TStringList* AList, Integer Index1, Integer Index2) {
  auto* list = static_cast<TvlStringList*>(AList);
  return list->FOnCompare(list, Index1, Index2);
}

void TvlStringList::Sort() {
  if (FOnCompare)
    CustomSort(&TvlStringList::CompareByEvent);
  else
    inherited::Sort();
}

// --- TvlOpenList ----------------------------------------------------------------------------------------

void TvlOpenList::SetItems(Integer Index, Pointer Item) {
  if (Index < 0) Error(kListIndexError, Index);
  if (Index >= Count()) SetCount(Index + 1);
  Put(Index, Item);
}

// --- TvlRegisteredClassList -------------------------------------------------------------------------------

void TvlRegisteredClassList::Destroy() {
  Clear();
  inherited::Destroy();
}

void TvlRegisteredClassList::Clear() {
  std::vector<TvlRegisteredClassListItemData*> items;
  items.swap(FItems);
  for (TvlRegisteredClassListItemData* item : items) Free(item);
}

TvlRegisteredClassListItemData* TvlRegisteredClassList::Items(Integer AIndex) const {
  if (AIndex < 0 || AIndex >= Count()) TList::Error(kListIndexError, AIndex);
  return FItems[static_cast<size_t>(AIndex)];
}

Boolean TvlRegisteredClassList::Find(TClass AClass, Integer& AIndex) {
  AIndex = -1;
  if (!AClass) return false;
  for (Integer i = Count() - 1; i >= 0; --i) {
    TClass itemClass = FItems[static_cast<size_t>(i)]->ItemClass;
    if (AClass->InheritsFrom(itemClass)) {
      AIndex = i;
      return true;
    }
    if (itemClass && itemClass->InheritsFrom(AClass)) AIndex = i;
  }
  return false;
}

void TvlRegisteredClassList::Register(TClass AItemClass, TClass ARegisteredClass) {
  Integer index;
  if (Find(AItemClass, index))
    ++index;
  else if (index < 0)
    index = Count();
  auto* item = New<TvlRegisteredClassListItemData>();
  item->ItemClass = AItemClass;
  item->RegisteredClass = ARegisteredClass;
  FItems.insert(FItems.begin() + index, item);
}

void TvlRegisteredClassList::Unregister(TClass AItemClass, TClass ARegisteredClass) {
  for (Integer i = Count() - 1; i >= 0; --i) {
    TvlRegisteredClassListItemData* item = FItems[static_cast<size_t>(i)];
    if (item->ItemClass == AItemClass && item->RegisteredClass == ARegisteredClass) {
      FItems.erase(FItems.begin() + i);
      Free(item);
    }
  }
}

TClass TvlRegisteredClassList::FindClass(TClass AItemClass) {
  Integer index;
  return Find(AItemClass, index) ? FItems[static_cast<size_t>(index)]->RegisteredClass : nullptr;
}

// --- TvlRegisteredClasses
// -------------------------------------------------------------------------------------

namespace {

Integer CompareRegisteredClasses(TStringList* AList, Integer Index1, Integer Index2) {
  return static_cast<TvlRegisteredClassesStringList*>(AList)->Owner->CompareItems(Index1, Index2);
}

}  // namespace

void TvlRegisteredClasses::Create(Boolean ARegisterClasses) {
  FRegisterClasses = ARegisterClasses;
  FItems = New<TvlRegisteredClassesStringList>();
  FItems->Owner = this;
}

void TvlRegisteredClasses::Destroy() {
  if (FItems) FItems->Clear();
  FreeAndNil(FItems);
  inherited::Destroy();
}

void TvlRegisteredClasses::Clear() { FItems->Clear(); }

Integer TvlRegisteredClasses::Count() const { return FItems->Count(); }

TClass TvlRegisteredClasses::Items(Integer AIndex) const {
  return reinterpret_cast<TClass>(FItems->Objects(AIndex));
}

String TvlRegisteredClasses::Descriptions(Integer AIndex) const {
  return vlGetTextBeforeBar(FItems->Strings(AIndex));
}

String TvlRegisteredClasses::Hints(Integer AIndex) const {
  return vlGetTextAfterBar(FItems->Strings(AIndex));
}

Integer TvlRegisteredClasses::GetIndexByClass(TClass AClass) const {
  for (Integer i = 0; i < Count(); ++i)
    if (Items(i) == AClass) return i;
  return -1;
}

void TvlRegisteredClasses::Register(TClass AClass, const String& ADescription) {
  if (GetIndexByClass(AClass) >= 0) return;
  // The list holds objects; the class reference rides in the object slot.
  FItems->AddObject(ADescription, reinterpret_cast<TObject*>(const_cast<TMetaClass*>(AClass)));
  if (FSorted) Sort();
  if (FRegisterClasses) ::RegisterClass(AClass);
}

void TvlRegisteredClasses::Unregister(TClass AClass) {
  Integer i = GetIndexByClass(AClass);
  if (i >= 0) FItems->Delete(i);
}

TClass TvlRegisteredClasses::FindByClassName(const String& AClassName) const {
  for (Integer i = 0; i < Count(); ++i)
    if (Items(i) && Items(i)->ClassName() == AClassName) return Items(i);
  return nullptr;
}

TClass TvlRegisteredClasses::FindByDescription(const String& ADescription) const {
  for (Integer i = 0; i < Count(); ++i)
    if (Descriptions(i) == ADescription) return Items(i);
  return nullptr;
}

String TvlRegisteredClasses::GetDescriptionByClass(TClass AClass) const {
  Integer i = GetIndexByClass(AClass);
  return i >= 0 ? Descriptions(i) : String();
}

String TvlRegisteredClasses::GetHintByClass(TClass AClass) const {
  Integer i = GetIndexByClass(AClass);
  return i >= 0 ? Hints(i) : String();
}

void TvlRegisteredClasses::SetSorted(Boolean Value) {
  if (FSorted == Value) return;
  FSorted = Value;
  if (FSorted) Sort();
}

Integer TvlRegisteredClasses::CompareItems(Integer AIndex1, Integer AIndex2) {
  String s1 = Descriptions(AIndex1);
  String s2 = Descriptions(AIndex2);
  return CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, s1.c_str(), static_cast<Integer>(s1.size()),
                        s2.c_str(), static_cast<Integer>(s2.size())) -
         CSTR_EQUAL;
}

void TvlRegisteredClasses::Sort() { FItems->CustomSort(&CompareRegisteredClasses); }

// --- TvlComponentCollectionItem
// ------------------------------------------------------------------------------

void TvlComponentCollectionItem::Destroy() {
  if (FCollection) FCollection->RemoveItem(this);
  inherited::Destroy();
}

void TvlComponentCollectionItem::SetCollection(TvlComponentCollection* AValue) {
  if (FCollection == AValue) return;
  if (FCollection) FCollection->RemoveItem(this);
  if (AValue) AValue->InsertItem(this);
}

Integer TvlComponentCollectionItem::Index() const { return FCollection ? FCollection->IndexOf(this) : -1; }

void TvlComponentCollectionItem::SetIndex(Integer AValue) {
  if (!FCollection || Index() == AValue) return;
  FCollection->MoveItem(this, AValue);
  FCollection->Changed(nullptr, ccnChanged);
}

TvlComponentCollection* TvlComponentCollectionItem::GetCollectionFromParent(TComponent* AParent) {
  AbstractError();
}

String TvlComponentCollectionItem::GetDisplayName() { return Name(); }

void TvlComponentCollectionItem::Changed(Boolean AAllItems) {
  if (ComponentState().Contains(csDestroying) || !FCollection) return;
  FCollection->Changed(AAllItems ? nullptr : this, ccnChanged);
}

TComponent* TvlComponentCollectionItem::GetParentComponent() {
  if (FCollection && FCollection->ParentComponent()) return FCollection->ParentComponent();
  return inherited::GetParentComponent();
}

Boolean TvlComponentCollectionItem::HasParent() { return GetParentComponent() != nullptr; }

void TvlComponentCollectionItem::SetParentComponent(TComponent* Value) {
  SetCollection(Value ? GetCollectionFromParent(Value) : nullptr);
}

// --- TvlComponentCollection
// ---------------------------------------------------------------------------------------

void TvlComponentCollection::Create(TComponent* AParentComponent,
                                    TvlComponentCollectionItemClass AItemClass) {
  FParentComponent = AParentComponent;
  FItemClass = AItemClass;
}

void TvlComponentCollection::Destroy() {
  FUpdateCount = 1;
  while (!FItems.empty()) Free(FItems.back());
  inherited::Destroy();
}

TvlComponentCollectionItem* TvlComponentCollection::Items(Integer AIndex) const {
  if (AIndex < 0 || AIndex >= Count()) TList::Error(kListIndexError, AIndex);
  return FItems[static_cast<size_t>(AIndex)];
}

Integer TvlComponentCollection::IndexOf(const TvlComponentCollectionItem* AItem) const {
  for (size_t i = 0; i < FItems.size(); ++i)
    if (FItems[i] == AItem) return static_cast<Integer>(i);
  return -1;
}

TvlComponentCollectionItem* TvlComponentCollection::Add() {
  if (!FItemClass) throw EListError(u"Collection has no item class");
  TComponent* owner = FParentComponent ? FParentComponent->Owner() : nullptr;
  TvlComponentCollectionItem* item = CreateFrom(FItemClass, owner);
  try {
    item->SetParentComponent(FParentComponent);
    AssignItemName(item);
  } catch (...) {
    Free(item);
    throw;
  }
  return item;
}

TvlComponentCollectionItem* TvlComponentCollection::Insert(Integer AIndex) {
  TvlComponentCollectionItem* item = Add();
  item->SetIndex(AIndex);
  return item;
}

void TvlComponentCollection::Delete(Integer AIndex) {
  TvlComponentCollectionItem* item = Items(AIndex);
  ItemNotify(item, ccnDeleting);
  Free(item);
}

void TvlComponentCollection::Remove(TvlComponentCollectionItem* AItem) {
  Integer i = IndexOf(AItem);
  if (i >= 0) Delete(i);
}

void TvlComponentCollection::Clear() {
  if (FItems.empty()) return;
  BeginUpdate();
  Finally endUpdate([&] { EndUpdate(true); });
  while (!FItems.empty()) Free(FItems.back());
}

void TvlComponentCollection::BeginUpdate() { ++FUpdateCount; }

void TvlComponentCollection::EndUpdate(Boolean AForceUpdate) {
  if (FUpdateCount > 0) --FUpdateCount;
  if (AForceUpdate) Changed(nullptr, ccnChanged);
}

void TvlComponentCollection::Assign(TPersistent* Source) {
  auto* source = Is<TvlComponentCollection>(Source) ? static_cast<TvlComponentCollection*>(Source) : nullptr;
  if (!source) {
    inherited::Assign(Source);
    return;
  }
  BeginUpdate();
  Finally endUpdate([&] { EndUpdate(true); });
  Clear();
  for (Integer i = 0; i < source->Count(); ++i) Add()->Assign(source->Items(i));
}

TvlComponentCollectionItem* TvlComponentCollection::FindItemByID(Integer AID) const {
  for (TvlComponentCollectionItem* item : FItems)
    if (item->FID == AID) return item;
  return nullptr;
}

void TvlComponentCollection::NotifyChange(TvlComponentCollectionItem* AItem,
                                          TvlComponentCollectionNotification AAction) {
  if (FOnChange) FOnChange(this, AItem, AAction);
}

void TvlComponentCollection::Changed(TvlComponentCollectionItem* AItem,
                                     TvlComponentCollectionNotification AAction) {
  if (FUpdateCount == 0) NotifyChange(AItem, AAction);
}

void TvlComponentCollection::InsertItem(TvlComponentCollectionItem* AItem) {
  if (!AItem->InheritsFrom(FItemClass.Class())) return;
  FItems.push_back(AItem);
  AItem->FCollection = this;
  AItem->FID = FNextID;
  FNextID = WrapAdd(FNextID, 1);
  ItemNotify(AItem, ccnAdded);
  Changed(AItem, ccnAdded);
}

void TvlComponentCollection::RemoveItem(TvlComponentCollectionItem* AItem) {
  ItemNotify(AItem, ccnExtracting);
  Integer i = IndexOf(AItem);
  if (i >= 0) FItems.erase(FItems.begin() + i);
  AItem->FCollection = nullptr;
  ItemNotify(AItem, ccnExtracted);
  Changed(AItem, ccnExtracted);
}

void TvlComponentCollection::MoveItem(TvlComponentCollectionItem* AItem, Integer ANewIndex) {
  if (ANewIndex < 0 || ANewIndex >= Count()) TList::Error(kListIndexError, ANewIndex);
  Integer cur = IndexOf(AItem);
  if (cur < 0 || cur == ANewIndex) return;
  FItems.erase(FItems.begin() + cur);
  FItems.insert(FItems.begin() + ANewIndex, AItem);
}

// --- TvlComponentList
// ------------------------------------------------------------------------------------------------

void TvlComponentList::Create() { inherited::Create(false); }

void TvlComponentList::Destroy() {
  FUpdateCount = 1;
  inherited::Destroy();
}

void TvlComponentList::CancelUpdate() {
  if (FUpdateCount > 0) --FUpdateCount;
}

void TvlComponentList::EndUpdate() {
  if (FUpdateCount > 0) --FUpdateCount;
  DoComponentListChanged(nullptr, ccnChanged);
}

void TvlComponentList::Clear() {
  if (Count() > 0) {
    BeginUpdate();
    Finally endUpdate([&] { EndUpdate(); });
    while (Count() > 0) Delete(0);
  }
  inherited::Clear();
}

TClass TvlComponentList::GetItemClass() const { return TComponent::StaticClass(); }

void TvlComponentList::Notify(Pointer Ptr, TListNotification Action) {
  auto* obj = static_cast<TObject*>(Ptr);
  if (obj && obj->InheritsFrom(GetItemClass()))
    NotifyItem(static_cast<TComponent*>(obj), Action);
  else if (obj && Action == lnAdded)
    TList::Extract(Ptr);
}

void TvlComponentList::NotifyItem(TComponent* AItem, TListNotification AAction) {
  inherited::Notify(AItem, AAction);
  if (FOnNotify) FOnNotify(this, AItem, AAction);
  TvlComponentCollectionNotification action = ccnAdded;
  switch (AAction) {
    case lnAdded:
      action = ccnAdded;
      break;
    case lnExtracted:
      action = ccnExtracted;
      break;
    case lnDeleted:
      action = ccnDeleting;
      break;
  }
  DoComponentListChanged(AItem, action);
}

void TvlComponentList::DoComponentListChanged(TComponent* AComponent,
                                              TvlComponentCollectionNotification AAction) {
  if (FUpdateCount == 0 && FOnComponentListChanged) FOnComponentListChanged(this, AComponent, AAction);
}

// --- MRU lists
// ----------------------------------------------------------------------------------------------------------

Boolean TvlMRUItem::Equals(TvlMRUItem* AItem) { AbstractError(); }

void TvlMRUItems::Destroy() {
  ClearItems();
  inherited::Destroy();
}

TvlMRUItem* TvlMRUItems::Items(Integer AIndex) const {
  if (AIndex < 0 || AIndex >= Count()) TList::Error(kListIndexError, AIndex);
  return FItems[static_cast<size_t>(AIndex)];
}

Integer TvlMRUItems::IndexOf(TvlMRUItem* AItem) const {
  for (size_t i = 0; i < FItems.size(); ++i)
    if (FItems[i]->Equals(AItem)) return static_cast<Integer>(i);
  return -1;
}

void TvlMRUItems::Add(TvlMRUItem* AItem) {
  Integer i = IndexOf(AItem);
  if (i >= 0) {
    TvlMRUItem* found = FItems[static_cast<size_t>(i)];
    FItems.erase(FItems.begin() + i);
    FItems.insert(FItems.begin(), found);
    // Adding an item that is listed already must not free the listed one.
    if (found != AItem) Free(AItem);
  } else {
    FItems.insert(FItems.begin(), AItem);
    Cut();
  }
}

void TvlMRUItems::Cut() {
  if (FMaxCount > 0) SetCount(FMaxCount);
}

void TvlMRUItems::SetCount(Integer AValue) {
  if (AValue < 0) AValue = 0;
  while (Count() > AValue) Delete(Count() - 1);
}

void TvlMRUItems::SetMaxCount(Integer AValue) {
  if (AValue < 0) AValue = 0;
  if (FMaxCount == AValue) return;
  FMaxCount = AValue;
  Cut();
}

void TvlMRUItems::Delete(Integer AIndex) {
  TvlMRUItem* item = Items(AIndex);
  FItems.erase(FItems.begin() + AIndex);
  Free(item);
}

void TvlMRUItems::ClearItems() {
  while (!FItems.empty()) Delete(Count() - 1);
}

// --- Weak object links
// ------------------------------------------------------------------------------------------------------

namespace {

// The live links by the object they point at; exists while a link exists.
struct TObjectLinkController {
  std::unordered_multimap<TObject*, TvlObjectLink*> Links;
};

TObjectLinkController* gLinkController = nullptr;
Integer gLinkCount = 0;

}  // namespace

TvlObjectLink* vlAddObjectLink(TObject* AObject) {
  if (!AObject) return nullptr;
  if (!gLinkController) gLinkController = new TObjectLinkController();
  auto* link = New<TvlObjectLink>();
  link->Ref = AObject;
  gLinkController->Links.emplace(AObject, link);
  ++gLinkCount;
  return link;
}

void vlRemoveObjectLink(TvlObjectLink* ALink) {
  if (!ALink) return;
  if (ALink->Ref && gLinkController) {
    auto range = gLinkController->Links.equal_range(ALink->Ref);
    for (auto it = range.first; it != range.second; ++it)
      if (it->second == ALink) {
        gLinkController->Links.erase(it);
        break;
      }
  }
  Free(ALink);
  if (--gLinkCount == 0) {
    delete gLinkController;
    gLinkController = nullptr;
  }
}

void vlClearObjectLinks(TObject* AObject) {
  if (!gLinkController || !AObject) return;
  auto range = gLinkController->Links.equal_range(AObject);
  for (auto it = range.first; it != range.second; ++it) it->second->Ref = nullptr;
  gLinkController->Links.erase(range.first, range.second);
}

Integer vlObjectLinkCount() { return gLinkCount; }

// --- TvlFreeNotificator
// ---------------------------------------------------------------------------------------------------------

void TvlFreeNotificator::AddSender(TComponent* ASender) {
  if (ASender) ASender->FreeNotification(this);
}

void TvlFreeNotificator::RemoveSender(TComponent* ASender) {
  if (ASender) ASender->RemoveFreeNotification(this);
}

void TvlFreeNotificator::Notification(TComponent* AComponent, TOperation Operation) {
  inherited::Notification(AComponent, Operation);
  if (Operation == opRemove && FOnFreeNotification) FOnFreeNotification(AComponent);
}

// --- Free routines
// ---------------------------------------------------------------------------------------------------------------

void vlMakeUniqueComponentName(TComponent* AOwner, TComponent* AParentComponent, TComponent* ANewItem,
                               String& AName, const String& ABaseText, const String& AClassNamePrefix) {
  String s;
  for (Char c : ABaseText)
    if ((c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9') || c == u'_') s += c;
  if ((s.empty() || (s[0] >= u'0' && s[0] <= u'9')) && ANewItem) {
    String className = ANewItem->ClassName();
    if (!className.empty()) {
      if (!AClassNamePrefix.empty() && StartsTextAscii(AClassNamePrefix, className)) {
        s = className.substr(AClassNamePrefix.size()) + s;
      } else {
        s = className + s;
        if (s[0] == u'T') s.erase(0, 1);
      }
    }
  }
  const String stem = (AParentComponent ? AParentComponent->Name() : String()) + s;
  Integer counter = ABaseText.empty() ? 1 : 0;
  for (;;) {
    String candidate = counter > 0 ? stem + IntToStr(counter) : stem;
    bool taken = false;
    if (AOwner)
      for (Integer i = 0; i < AOwner->ComponentCount() && !taken; ++i) {
        TComponent* c = AOwner->Components(i);
        taken = c != ANewItem && SameText(c->Name(), candidate);
      }
    if (!taken) {
      AName = candidate;
      return;
    }
    ++counter;
  }
}

void vlRenameOwnedItems(TComponent* AOwner, TComponent* AItemsOwner, const String& ANewName,
                        const TvlGetComponentItemEvent& AGetItem, Integer ACount, const String& AOldName) {
  if (AOwner && AOwner->ComponentState().Contains(csAncestor)) return;
  // Every name begins with the empty name: there is nothing to rename then.
  if (AOldName.empty()) return;
  for (Integer i = 0; i < ACount; ++i) {
    TComponent* item = AGetItem(i);
    if (!item || item->Owner() != AItemsOwner) continue;
    const String& name = item->Name();
    if (name.size() > AOldName.size() && StartsTextAscii(AOldName, name)) {
      try {
        item->SetName(ANewName + name.substr(AOldName.size()));
      } catch (const EComponentError&) {
      }
    }
  }
}

void vlCallNotifyEvent(const TNotifyEvent& AEvent, TObject* ASender) {
  if (AEvent) AEvent(ASender);
}

void vlCopyListItems(TList* ASource, TList* ADest) {
  ADest->SetCount(ASource->Count());
  for (Integer i = 0; i < ASource->Count(); ++i) ADest->SetItems(i, ASource->Items(i));
}

Boolean vlSameMethod(const TMethod& A, const TMethod& B) { return A == B; }

TPersistent* vlGetPersistentOwner(TPersistent* APersistent) { return APersistent->GetOwner(); }

Integer vlDivRoundUp(Integer A, Integer B) {
  Integer q = IntDiv(A, B);
  return IntMod(A, B) != 0 ? q + 1 : q;
}

TSize vlMakeExtent(Integer AWidth, Integer AHeight) { return TSize{AWidth, AHeight}; }

Integer vlRangeMiddle(Integer A, Integer B) {
  Int64 sum = Int64(A) + Int64(B);
  return static_cast<Integer>(sum > 0 ? sum / 2 : (sum - 1) / 2);
}

Boolean vlMemoryStreamsEqual(TMemoryStream* AStream1, TMemoryStream* AStream2) {
  if (!AStream1 || !AStream2) return AStream1 == AStream2;
  Int64 size = AStream1->Size();
  if (size != AStream2->Size()) return false;
  return size == 0 || std::memcmp(AStream1->Memory(), AStream2->Memory(), static_cast<size_t>(size)) == 0;
}

Integer vlFloatSign(Double AValue) { return AValue >= 0 ? 1 : -1; }

void vlSetThreadHook(win::HHOOK__*& AHook, Integer AHookKind, LRESULT (*AHookProc)(int, WPARAM, LPARAM)) {
  AHook = win::SetWindowsHookExW(AHookKind, AHookProc, nullptr, win::GetCurrentThreadId());
}

void vlReleaseThreadHook(win::HHOOK__*& AHook) {
  if (AHook) {
    win::UnhookWindowsHookEx(AHook);
    AHook = nullptr;
  }
}

String vlGetLocaleText(Cardinal ALocale, Cardinal ALCType, const String& ADefault) {
  String text;
  if (!GetLocaleText(ALocale, ALCType, text)) return ADefault;
  return text;
}

Integer vlCharSizeAt(const String& AText, Integer AIndex) {
  if (AIndex < 1 || static_cast<size_t>(AIndex) > AText.size()) return 0;
  const Char* p = AText.c_str() + (AIndex - 1);
  if (*p == 0) return 1;  // an embedded NUL is one character
  return static_cast<Integer>(CharNextW(p) - p);
}

String vlGetTextBeforeBar(const String& AText) {
  size_t bar = AText.find(u'|');
  return bar == String::npos ? AText : AText.substr(0, bar);
}

String vlGetTextAfterBar(const String& AText) {
  size_t bar = AText.find(u'|');
  return bar == String::npos ? AText : AText.substr(bar + 1);
}
