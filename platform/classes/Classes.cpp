#include "platform/classes/Classes.h"

#include <algorithm>
#include <mutex>

#include "platform/classes/Filer.h"
#include "platform/classes/TypInfoBuild.h"
#include "platform/rtl/Conversions.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Finally.h"
#include "platform/rtl/Strings.h"

CL_IMPLEMENT_CLASS(TPersistent)
CL_IMPLEMENT_CLASS(TInterfacedPersistent)
// Name is written in the component's header, not as a property.
CL_IMPLEMENT_CLASS_PUBLISHED(TComponent, P) {
  P.Property(u"Name", &TComponent::Name, &TComponent::SetName).Stored(false);
  P.Property(u"Tag", &TComponent::Tag, &TComponent::SetTag).Default(0);
}
CL_IMPLEMENT_CLASS(TCollectionItem)
CL_IMPLEMENT_CLASS(TCollection)
CL_IMPLEMENT_CLASS(TOwnedCollection)
CL_IMPLEMENT_CLASS(TComponentList)

// --- TPersistent --------------------------------------------------------------

void TPersistent::Assign(TPersistent* Source) {
  if (Source) {
    Source->AssignTo(this);
  } else {
    AssignError(nullptr);
  }
}

void TPersistent::AssignTo(TPersistent* Dest) { Dest->AssignError(this); }

void TPersistent::AssignError(TPersistent* Source) {
  String source = Source ? Source->ClassName() : String(u"nil");
  throw EConvertError(u"Cannot assign a " + source + u" to a " + ClassName());
}

void TPersistent::DefineProperties(TFiler*) {}

TPersistent* TPersistent::GetOwner() { return nullptr; }

String TPersistent::GetNamePath() {
  TPersistent* owner = GetOwner();
  String s = owner ? owner->GetNamePath() : String();
  if (!s.empty()) s += u'.';
  return s + ClassName();
}

HRESULT TInterfacedPersistent::QueryInterface(const TGUID& IID, void** Obj) {
  return GetInterface(IID, Obj) ? S_OK : E_NOINTERFACE;
}

HRESULT TComponent::QueryInterface(const TGUID& IID, void** Obj) {
  return GetInterface(IID, Obj) ? S_OK : E_NOINTERFACE;
}

// --- TComponent ---------------------------------------------------------------

namespace {

[[noreturn]] void ComponentError(const String& Msg) { throw EComponentError(Msg); }

std::mutex gGlobalFindersLock;
std::vector<TFindGlobalComponent>& GlobalFinders() {
  static std::vector<TFindGlobalComponent> finders;
  return finders;
}

}  // namespace

void TComponent::Create(TComponent* AOwner) {
  if (AOwner) AOwner->InsertComponent(this);
}

void TComponent::BeforeDestruction() {
  if (!FComponentState.Contains(csDestroying)) Destroying();
}

void TComponent::Destroy() {
  Destroying();
  RemoveFixupReferences(this);
  RemoveFreeNotifications();
  DestroyComponents();
  if (FOwner) FOwner->RemoveComponent(this);
  inherited::Destroy();
}

void TComponent::Destroying() {
  if (FComponentState.Contains(csDestroying)) return;
  FComponentState.Include(csDestroying);
  for (TComponent* c : FComponents) c->Destroying();
}

void TComponent::DestroyComponents() {
  while (!FComponents.empty()) {
    TComponent* instance = FComponents.back();
    RemoveComponent(instance);
    Free(instance);
  }
}

TComponent* TComponent::Components(Integer Index) const {
  if (Index < 0 || Index >= ComponentCount()) TList::Error(u"List index out of bounds (%d)", Index);
  return FComponents[static_cast<size_t>(Index)];
}

Integer TComponent::ComponentIndex() const {
  if (!FOwner) return -1;
  auto& list = FOwner->FComponents;
  auto it = std::find(list.begin(), list.end(), this);
  return it == list.end() ? -1 : static_cast<Integer>(it - list.begin());
}

void TComponent::SetComponentIndex(Integer Value) {
  if (!FOwner) return;
  Integer cur = ComponentIndex();
  if (cur < 0) return;
  Integer count = FOwner->ComponentCount();
  if (Value < 0) Value = 0;
  if (Value >= count) Value = count - 1;
  if (Value == cur) return;
  auto& list = FOwner->FComponents;
  list.erase(list.begin() + cur);
  list.insert(list.begin() + Value, this);
}

void TComponent::Insert(TComponent* AComponent) {
  FComponents.push_back(AComponent);
  AComponent->FOwner = this;
}

void TComponent::Remove(TComponent* AComponent) {
  auto it = std::find(FComponents.begin(), FComponents.end(), AComponent);
  if (it != FComponents.end()) FComponents.erase(it);
  AComponent->FOwner = nullptr;
}

void TComponent::InsertComponent(TComponent* AComponent) {
  AComponent->ValidateContainer(this);
  ValidateRename(AComponent, String(), AComponent->FName);
  if (AComponent->FOwner) AComponent->FOwner->RemoveComponent(AComponent);
  Insert(AComponent);
  AComponent->SetReference(true);
  if (FComponentState.Contains(csDesigning)) AComponent->SetDesigning(true);
  Notification(AComponent, opInsert);
}

void TComponent::RemoveComponent(TComponent* AComponent) {
  ValidateRename(AComponent, AComponent->FName, String());
  Notification(AComponent, opRemove);
  AComponent->SetReference(false);
  Remove(AComponent);
}

TComponent* TComponent::FindComponent(const String& AName) const {
  if (AName.empty()) return nullptr;
  for (TComponent* c : FComponents)
    if (SameText(c->FName, AName)) return c;
  return nullptr;
}

void TComponent::SetName(const String& NewName) {
  if (FName == NewName) return;
  if (!NewName.empty() && !IsValidIdent(NewName))
    ComponentError(u"Component name \"" + NewName + u"\" is not valid");
  if (FOwner) {
    FOwner->ValidateRename(this, FName, NewName);
  } else {
    ValidateRename(nullptr, FName, NewName);
  }
  SetReference(false);
  ChangeName(NewName);
  SetReference(true);
}

void TComponent::ChangeName(const String& NewName) { FName = NewName; }

void TComponent::ValidateRename(TComponent* AComponent, const String& CurName, const String& NewName) {
  if (NewName.empty()) return;
  if (AComponent && SameText(CurName, NewName)) return;
  TComponent* found = FindComponent(NewName);
  if (found && found != AComponent) ComponentError(u"A component named " + NewName + u" already exists");
}

void TComponent::ValidateContainer(TComponent* AComponent) { AComponent->ValidateInsert(this); }

void TComponent::ValidateInsert(TComponent*) {}

// Points the owner's published field of this component's name at it (or
// clears it), as form classes expect of their component fields.
void TComponent::SetReference(Boolean Enable) {
  if (!FOwner || FName.empty()) return;
  const TPublishedField* field = FindPublishedField(FOwner->ClassType(), FName);
  if (field && field->Set && (!field->FieldClass || InheritsFrom(field->FieldClass)))
    field->Set(*field, FOwner, Enable ? this : nullptr);
}

void TComponent::Updating() { FComponentState.Include(csUpdating); }

void TComponent::Updated() { FComponentState.Exclude(csUpdating); }

void TComponent::SetAncestor(Boolean Value) {
  if (Value) FComponentState.Include(csAncestor);
  else FComponentState.Exclude(csAncestor);
  for (TComponent* c : FComponents) c->SetAncestor(Value);
}

void TComponent::SetDesigning(Boolean Value, Boolean SetChildren) {
  if (Value) FComponentState.Include(csDesigning);
  else FComponentState.Exclude(csDesigning);
  if (SetChildren)
    for (TComponent* c : FComponents) c->SetDesigning(Value);
}

void TComponent::SetInline(Boolean Value) {
  if (Value) FComponentState.Include(csInline);
  else FComponentState.Exclude(csInline);
}

void TComponent::SetDesignInstance(Boolean Value) {
  if (Value) FComponentState.Include(csDesignInstance);
  else FComponentState.Exclude(csDesignInstance);
}

void TComponent::FreeNotification(TComponent* AComponent) {
  if (!AComponent || AComponent == this) return;
  if (!FOwner || AComponent->FOwner != FOwner) {
    // Components of one owner are told through the owner's broadcast.
    if (std::find(FFreeNotifies.begin(), FFreeNotifies.end(), AComponent) == FFreeNotifies.end()) {
      FFreeNotifies.push_back(AComponent);
      AComponent->FreeNotification(this);
    }
  }
  FComponentState.Include(csFreeNotification);
}

void TComponent::RemoveNotification(TComponent* AComponent) {
  auto it = std::find(FFreeNotifies.begin(), FFreeNotifies.end(), AComponent);
  if (it != FFreeNotifies.end()) FFreeNotifies.erase(it);
  if (FFreeNotifies.empty() && !FOwner) FComponentState.Exclude(csFreeNotification);
}

void TComponent::RemoveFreeNotification(TComponent* AComponent) {
  if (!AComponent) return;
  RemoveNotification(AComponent);
  AComponent->RemoveNotification(this);
}

// Tells every component linked by a free notification that this one goes.
// Each link is taken out before the call, so an override that does not call
// the inherited Notification cannot make this loop forever.
void TComponent::RemoveFreeNotifications() {
  while (!FFreeNotifies.empty()) {
    TComponent* other = FFreeNotifies.back();
    FFreeNotifies.pop_back();
    other->RemoveNotification(this);
    other->Notification(this, opRemove);
  }
}

void TComponent::Notification(TComponent* AComponent, TOperation Operation) {
  if (Operation == opRemove && AComponent) RemoveFreeNotification(AComponent);
  // From the last down; a handler may remove components from the list.
  for (size_t i = FComponents.size(); i > 0; --i) {
    if (i > FComponents.size()) continue;
    FComponents[i - 1]->Notification(AComponent, Operation);
  }
}

void TComponent::GetChildren(TGetChildProc, TComponent*) {}
TComponent* TComponent::GetChildOwner() { return nullptr; }
TComponent* TComponent::GetChildParent() { return this; }
void TComponent::SetChildOrder(TComponent*, Integer) {}
Boolean TComponent::HasParent() { return false; }
TComponent* TComponent::GetParentComponent() { return nullptr; }
void TComponent::SetParentComponent(TComponent*) {}

void TComponent::Loaded() { FComponentState.Exclude(csLoading); }

void TComponent::ReadState(TReader* Reader) { Reader->ReadData(this); }

void TComponent::WriteState(TWriter* Writer) { Writer->WriteData(this); }

String TComponent::GetNamePath() { return FName; }

void TComponent::DefineProperties(TFiler* Filer) {
  inherited::DefineProperties(Filer);
  auto* ancestor = Is<TComponent>(Filer->Ancestor()) ? static_cast<TComponent*>(Filer->Ancestor()) : nullptr;
  uint32_t mine = static_cast<uint32_t>(FDesignInfo);
  uint32_t theirs = ancestor ? static_cast<uint32_t>(ancestor->FDesignInfo) : 0;
  Filer->DefineProperty(u"Left", TReaderProc(this, &TComponent::ReadLeft), TWriterProc(this, &TComponent::WriteLeft),
                        (mine & 0xFFFF) != (theirs & 0xFFFF));
  Filer->DefineProperty(u"Top", TReaderProc(this, &TComponent::ReadTop), TWriterProc(this, &TComponent::WriteTop),
                        (mine >> 16) != (theirs >> 16));
}

void TComponent::ReadLeft(TReader* Reader) {
  uint32_t v = static_cast<uint32_t>(Reader->ReadInteger()) & 0xFFFF;
  FDesignInfo = static_cast<LongInt>((static_cast<uint32_t>(FDesignInfo) & 0xFFFF0000u) | v);
}

void TComponent::ReadTop(TReader* Reader) {
  uint32_t v = static_cast<uint32_t>(Reader->ReadInteger()) & 0xFFFF;
  FDesignInfo = static_cast<LongInt>((static_cast<uint32_t>(FDesignInfo) & 0xFFFFu) | (v << 16));
}

void TComponent::WriteLeft(TWriter* Writer) {
  Writer->WriteInteger(static_cast<SmallInt>(static_cast<uint32_t>(FDesignInfo) & 0xFFFF));
}

void TComponent::WriteTop(TWriter* Writer) {
  Writer->WriteInteger(static_cast<SmallInt>(static_cast<uint32_t>(FDesignInfo) >> 16));
}

TPersistent* TComponent::GetOwner() { return FOwner; }

void RegisterFindGlobalComponentProc(TFindGlobalComponent AFindGlobalComponent) {
  std::lock_guard<std::mutex> lock(gGlobalFindersLock);
  auto& list = GlobalFinders();
  if (std::find(list.begin(), list.end(), AFindGlobalComponent) == list.end()) list.push_back(AFindGlobalComponent);
}

void UnregisterFindGlobalComponentProc(TFindGlobalComponent AFindGlobalComponent) {
  std::lock_guard<std::mutex> lock(gGlobalFindersLock);
  auto& list = GlobalFinders();
  list.erase(std::remove(list.begin(), list.end(), AFindGlobalComponent), list.end());
}

TComponent* FindGlobalComponent(const String& Name) {
  std::vector<TFindGlobalComponent> finders;
  {
    std::lock_guard<std::mutex> lock(gGlobalFindersLock);
    finders = GlobalFinders();
  }
  for (TFindGlobalComponent f : finders)
    if (TComponent* c = f(Name)) return c;
  return nullptr;
}

// --- TCollectionItem ----------------------------------------------------------

void TCollectionItem::Create(TCollection* Collection) { SetCollection(Collection); }

void TCollectionItem::Destroy() {
  RemoveFixupReferences(this);
  SetCollection(nullptr);
  inherited::Destroy();
}

void TCollectionItem::SetCollection(TCollection* Value) {
  if (FCollection == Value) return;
  if (FCollection) FCollection->RemoveItem(this);
  if (Value) Value->InsertItem(this);
}

Integer TCollectionItem::GetIndex() const {
  if (!FCollection) return -1;
  auto& items = FCollection->FItems;
  auto it = std::find(items.begin(), items.end(), this);
  return it == items.end() ? -1 : static_cast<Integer>(it - items.begin());
}

void TCollectionItem::SetIndex(Integer Value) {
  Integer cur = GetIndex();
  if (cur >= 0 && cur != Value) {
    FCollection->MoveItem(cur, Value);
    Changed(true);
  }
}

String TCollectionItem::GetDisplayName() { return ClassName(); }

void TCollectionItem::SetDisplayName(const String&) { Changed(false); }

String TCollectionItem::GetNamePath() {
  if (!FCollection) return ClassName();
  return FCollection->GetNamePath() + u"[" + IntToStr(GetIndex()) + u"]";
}

TPersistent* TCollectionItem::GetOwner() { return FCollection; }

void TCollectionItem::Changed(Boolean AllItems) {
  if (FCollection && FCollection->FUpdateCount == 0) FCollection->Update(AllItems ? nullptr : this);
}

// --- TCollection --------------------------------------------------------------

void TCollection::Create(TCollectionItemClass ItemClass) { FItemClass = ItemClass; }

void TCollection::Destroy() {
  FUpdateCount = 1;
  while (!FItems.empty()) Free(FItems.back());
  inherited::Destroy();
}

TCollectionItem* TCollection::Add() {
  if (!FItemClass) throw EListError(u"Collection has no item class");
  return CreateFrom(FItemClass, this);  // FItemClass.Create(Self)
}

TCollectionItem* TCollection::Insert(Integer Index) {
  TCollectionItem* item = Add();
  item->SetIndex(Index);
  return item;
}

TCollectionItem* TCollection::Items(Integer Index) const {
  if (Index < 0 || Index >= Count()) TList::Error(u"List index out of bounds (%d)", Index);
  return FItems[static_cast<size_t>(Index)];
}

void TCollection::SetItems(Integer Index, TCollectionItem* Value) { Items(Index)->Assign(Value); }

void TCollection::SetCapacity(Integer Value) {
  if (Value > 0) FItems.reserve(static_cast<size_t>(Value));
}

void TCollection::Delete(Integer Index) {
  TCollectionItem* item = Items(Index);
  Notify(item, cnDeleting);
  Free(item);
}

void TCollection::Clear() {
  if (FItems.empty()) return;
  BeginUpdate();
  Finally endUpdate([&] { EndUpdate(); });
  while (!FItems.empty()) Free(FItems.back());
}

void TCollection::BeginUpdate() { ++FUpdateCount; }

void TCollection::EndUpdate() {
  if (FUpdateCount > 0) --FUpdateCount;
  Changed();
}

void TCollection::Changed() {
  if (FUpdateCount == 0) Update(nullptr);
}

void TCollection::Update(TCollectionItem*) {}

void TCollection::Notify(TCollectionItem*, TCollectionNotification) {}

void TCollection::SetItemName(TCollectionItem*) {}

TCollectionItem* TCollection::FindItemID(Integer ID) const {
  for (TCollectionItem* item : FItems)
    if (item->FID == ID) return item;
  return nullptr;
}

void TCollection::Assign(TPersistent* Source) {
  if (auto* src = Is<TCollection>(Source) ? static_cast<TCollection*>(Source) : nullptr) {
    BeginUpdate();
    {
      Finally endUpdate([&] { EndUpdate(); });
      Clear();
      for (TCollectionItem* item : std::vector<TCollectionItem*>(src->FItems)) Add()->Assign(item);
    }
    return;
  }
  inherited::Assign(Source);
}

void TCollection::InsertItem(TCollectionItem* Item) {
  if (!FItemClass || !Item->InheritsFrom(FItemClass.Class())) throw EListError(u"Invalid property value");
  FItems.push_back(Item);
  Item->FCollection = this;
  Item->FID = FNextID;
  FNextID = static_cast<Integer>(static_cast<Cardinal>(FNextID) + 1u);
  SetItemName(Item);
  Notify(Item, cnAdded);
  Changed();
}

void TCollection::RemoveItem(TCollectionItem* Item) {
  Notify(Item, cnExtracting);
  auto it = std::find(FItems.begin(), FItems.end(), Item);
  if (it != FItems.end()) FItems.erase(it);
  Item->FCollection = nullptr;
  Changed();
}

void TCollection::MoveItem(Integer CurIndex, Integer NewIndex) {
  Integer count = Count();
  if (NewIndex < 0) NewIndex = 0;
  if (NewIndex >= count) NewIndex = count - 1;
  TCollectionItem* item = FItems[static_cast<size_t>(CurIndex)];
  FItems.erase(FItems.begin() + CurIndex);
  FItems.insert(FItems.begin() + NewIndex, item);
}

String TCollection::PropName() {
  TPersistent* owner = GetOwner();
  if (!owner) return FPropName;
  if (!FPropName.empty()) {
    const TPropInfo* p = GetPropInfo(owner, FPropName);
    if (p && p->PropType && p->PropType->Kind == tkClass && GetObjectProp(owner, p) == this) return FPropName;
  }
  FPropName.clear();
  for (const TPropInfo* p : GetPropList(owner)) {
    if (!p->PropType || p->PropType->Kind != tkClass || !p->Getter) continue;
    if (GetObjectProp(owner, p) == this) {
      FPropName = p->Name;
      break;
    }
  }
  return FPropName;
}

String TCollection::GetNamePath() {
  String result = ClassName();
  TPersistent* owner = GetOwner();
  if (!owner) return result;
  String s = owner->GetNamePath();
  if (s.empty()) return result;
  String p = PropName();
  if (p.empty()) return result;
  return s + u'.' + p;
}

void TOwnedCollection::Create(TPersistent* AOwner, TCollectionItemClass ItemClass) {
  FOwner = AOwner;
  TCollection::Create(ItemClass);
}

// --- TComponentList -----------------------------------------------------------

// The hidden component that receives the free notifications of the listed
// components.
class TComponentListNexus : public TComponent {
  CL_CLASS(TComponentListNexus, TComponent)
 public:
  void Notification(TComponent* AComponent, TOperation Operation) override {
    if (Operation == opRemove && FList) FList->HandleFreeNotify(AComponent);
    inherited::Notification(AComponent, Operation);
  }
  TComponentList* FList{};
};
CL_IMPLEMENT_CLASS(TComponentListNexus)

void TComponentList::Destroy() {
  inherited::Destroy();
  if (FNexus) static_cast<TComponentListNexus*>(FNexus)->FList = nullptr;
  FreeAndNil(FNexus);
}

void TComponentList::HandleFreeNotify(TComponent* AComponent) {
  // The component is being freed: take it out without freeing it again.
  while (TObjectList::IndexOf(AComponent) >= 0) TObjectList::Extract(AComponent);
}

void TComponentList::Notify(Pointer Ptr, TListNotification Action) {
  auto* comp = static_cast<TComponent*>(static_cast<TObject*>(Ptr));
  if (comp) {
    if (!FNexus) {
      auto* nexus = New<TComponentListNexus>(nullptr);
      nexus->FList = this;
      FNexus = nexus;
    }
    if (Action == lnAdded) {
      FNexus->FreeNotification(comp);
    } else if (TObjectList::IndexOf(comp) < 0) {
      // The last copy left the list.
      FNexus->RemoveFreeNotification(comp);
    }
  }
  inherited::Notify(Ptr, Action);
}

void (*ApplicationHandleException)(TObject* Sender) = nullptr;
