// Persistent objects, components with ownership, names and notifications,
// collections of items, and the owning component list.
#pragma once

#include <vector>

#include "platform/classes/Delegates.h"
#include "platform/classes/Interfaces.h"
#include "platform/classes/Lists.h"
#include "platform/classes/ObjectModel.h"
#include "platform/classes/Sets.h"
#include "platform/classes/TypInfo.h"

class TFiler;
class TReader;
class TWriter;
class TComponent;
class TCollection;
class TCollectionItem;

// Text alignment, shared by fields, controls and the library.
CL_ENUM(TAlignment, Byte, taLeftJustify, taRightJustify, taCenter)

// --- TPersistent --------------------------------------------------------------

// An object that can be assigned from another and streamed.
class TPersistent : public TObject {
  CL_CLASS(TPersistent, TObject)
 public:
  // Copies Source into this object: asks Source's AssignTo when this class
  // does not know Source's class; EConvertError "Cannot assign a X to a Y"
  // when neither does. Assign(nil) is such an error too.
  virtual void Assign(TPersistent* Source);
  // The dotted path of this object from its root, as the streaming and
  // localization code name it.
  virtual String GetNamePath();
  // The object that owns this one for streaming and naming (nil by default).
  virtual TPersistent* GetOwner();

 protected:
  virtual void AssignTo(TPersistent* Dest);
  // Declares properties that are not published (TFiler::DefineProperty).
  virtual void DefineProperties(TFiler* Filer);

 private:
  [[noreturn]] void AssignError(TPersistent* Source);
  friend class TReader;
  friend class TWriter;
};

using TPersistentClass = TClassOf<TPersistent>;

// A persistent object with IInterface that does not count references: its
// owner frees it. QueryInterface answers the interfaces of the class's table.
class TInterfacedPersistent : public TPersistent, public virtual IInterface {
  CL_CLASS(TInterfacedPersistent, TPersistent)
 public:
  HRESULT QueryInterface(const TGUID& IID, void** Obj) override;
  Integer _AddRef() override { return -1; }
  Integer _Release() override { return -1; }
};

// --- TComponent ---------------------------------------------------------------

CL_ENUM(TComponentStateItem, Byte, csLoading, csReading, csWriting, csDestroying, csDesigning, csAncestor,
        csUpdating, csFixups, csFreeNotification, csInline, csDesignInstance)
using TComponentState = TSet<TComponentStateItem, 2>;
CL_SET_TYPEINFO(TComponentState)

CL_ENUM(TOperation, Byte, opInsert, opRemove)

using TGetChildProc = TDelegate<void(TComponent* Child)>;
using TComponentClass = TClassOf<TComponent>;

// A persistent object with an owner, a name unique among its owner's
// components, a state, and notifications of insertion and removal. It answers
// IInterface without counting references (its owner frees it).
class TComponent : public TPersistent, public virtual IInterface {
  CL_CLASS(TComponent, TPersistent)
 public:
  HRESULT QueryInterface(const TGUID& IID, void** Obj) override;
  Integer _AddRef() override { return -1; }
  Integer _Release() override { return -1; }

  // Inserts the component into AOwner's components when AOwner is given.
  virtual void Create(TComponent* AOwner);
  void Destroy() override;
  void BeforeDestruction() override;

  // Ownership.
  TComponent* Owner() const { return FOwner; }
  TComponent* Components(Integer Index) const;
  Integer ComponentCount() const { return static_cast<Integer>(FComponents.size()); }
  // The index in the owner's components, -1 without an owner.
  Integer ComponentIndex() const;
  void SetComponentIndex(Integer Value);
  void InsertComponent(TComponent* AComponent);
  void RemoveComponent(TComponent* AComponent);
  // The owned component with that name, compared without regard to case; nil
  // for an empty name or none.
  TComponent* FindComponent(const String& AName) const;
  // Frees every owned component, the last first.
  void DestroyComponents();
  // Marks this component and its owned components as being destroyed.
  void Destroying();

  // Name and tag.
  const String& Name() const { return FName; }
  // A valid identifier (or empty), unique among the owner's components
  // regardless of case, else EComponentError.
  virtual void SetName(const String& NewName);
  NativeInt Tag() const { return FTag; }
  void SetTag(NativeInt Value) { FTag = Value; }

  // State.
  TComponentState ComponentState() const { return FComponentState; }
  // Around the reading of the component's properties (csUpdating); later
  // classes override them.
  virtual void Updating();
  virtual void Updated();
  void SetAncestor(Boolean Value);
  void SetDesigning(Boolean Value, Boolean SetChildren = true);
  void SetInline(Boolean Value);
  void SetDesignInstance(Boolean Value);

  // Notifications: AComponent will call Notification(AComponent, opRemove) on
  // this component when it is freed (and the other way round).
  void FreeNotification(TComponent* AComponent);
  void RemoveFreeNotification(TComponent* AComponent);
  // Called with opInsert/opRemove when AComponent joins or leaves the owner,
  // and with opRemove when a component this one asked to be told about is
  // freed. The base removes the free notification and passes the call on to
  // every owned component.
  virtual void Notification(TComponent* AComponent, TOperation Operation);

  // Streaming.
  virtual void GetChildren(TGetChildProc Proc, TComponent* Root);
  virtual TComponent* GetChildOwner();
  virtual TComponent* GetChildParent();
  virtual void SetChildOrder(TComponent* Child, Integer Order);
  virtual Boolean HasParent();
  virtual TComponent* GetParentComponent();
  virtual void SetParentComponent(TComponent* Value);
  // Called for every component read, after the whole root was read and its
  // references were fixed up; the base clears csLoading.
  virtual void Loaded();
  virtual void ReadState(TReader* Reader);
  virtual void WriteState(TWriter* Writer);
  virtual void ValidateRename(TComponent* AComponent, const String& CurName, const String& NewName);
  virtual void ValidateContainer(TComponent* AComponent);
  virtual void ValidateInsert(TComponent* AComponent);

  String GetNamePath() override;
  TPersistent* GetOwner() override;

  // The designer's position of a non-visual component (left in the low word,
  // top in the high word), streamed as the defined properties Left and Top.
  LongInt DesignInfo() const { return FDesignInfo; }
  void SetDesignInfo(LongInt Value) { FDesignInfo = Value; }

 protected:
  void DefineProperties(TFiler* Filer) override;
  virtual void ChangeName(const String& NewName);
  void SetReference(Boolean Enable);

 private:
  void Insert(TComponent* AComponent);
  void Remove(TComponent* AComponent);
  void RemoveNotification(TComponent* AComponent);
  void RemoveFreeNotifications();
  void ReadLeft(TReader* Reader);
  void ReadTop(TReader* Reader);
  void WriteLeft(TWriter* Writer);
  void WriteTop(TWriter* Writer);

  TComponent* FOwner{};
  String FName;
  NativeInt FTag{};
  std::vector<TComponent*> FComponents;
  std::vector<TComponent*> FFreeNotifies;
  TComponentState FComponentState{};
  LongInt FDesignInfo{};

  friend class TReader;
  friend class TWriter;
};

// Finds a component of any root by its name (references to other forms in
// form files). Providers (the screen's forms, data modules) register here;
// the first that answers wins.
using TFindGlobalComponent = TComponent* (*)(const String& Name);
void RegisterFindGlobalComponentProc(TFindGlobalComponent AFindGlobalComponent);
void UnregisterFindGlobalComponentProc(TFindGlobalComponent AFindGlobalComponent);
TComponent* FindGlobalComponent(const String& Name);

// --- Collections --------------------------------------------------------------

CL_ENUM(TCollectionNotification, Byte, cnAdded, cnExtracting, cnDeleting)

using TCollectionItemClass = TClassOf<TCollectionItem>;

// An item of a collection; subclasses publish its properties.
class TCollectionItem : public TPersistent {
  CL_CLASS(TCollectionItem, TPersistent)
 public:
  virtual void Create(TCollection* Collection);
  void Destroy() override;

  TCollection* Collection() const { return FCollection; }
  virtual void SetCollection(TCollection* Value);
  // Unique in its collection, increasing, never reused.
  Integer ID() const { return FID; }
  Integer Index() const { return GetIndex(); }
  virtual Integer GetIndex() const;
  // Moves the item to Value and reports a change of all items.
  virtual void SetIndex(Integer Value);
  String DisplayName() { return GetDisplayName(); }
  virtual String GetDisplayName();
  virtual void SetDisplayName(const String& Value);

  String GetNamePath() override;
  TPersistent* GetOwner() override;

 protected:
  // Reports a change of this item, or of all items, to the collection
  // (Update), unless the collection is inside BeginUpdate/EndUpdate.
  void Changed(Boolean AllItems);

 private:
  TCollection* FCollection{};
  Integer FID{};

  friend class TCollection;
};

// A list of items of one class, owned by the collection.
class TCollection : public TPersistent {
  CL_CLASS(TCollection, TPersistent)
 public:
  void Create(TCollectionItemClass ItemClass);
  void Destroy() override;

  TCollectionItem* Add();
  TCollectionItem* Insert(Integer Index);
  // Notifies cnDeleting, then frees the item.
  void Delete(Integer Index);
  // Frees every item inside BeginUpdate/EndUpdate.
  void Clear();
  virtual void BeginUpdate();
  virtual void EndUpdate();
  TCollectionItem* FindItemID(Integer ID) const;
  void Assign(TPersistent* Source) override;

  Integer Count() const { return static_cast<Integer>(FItems.size()); }
  Integer Capacity() const { return static_cast<Integer>(FItems.capacity()); }
  void SetCapacity(Integer Value);
  TCollectionItem* Items(Integer Index) const;
  // Assigns Value to the item at Index.
  void SetItems(Integer Index, TCollectionItem* Value);
  TCollectionItemClass ItemClass() const { return FItemClass; }
  Integer NextID() const { return FNextID; }
  Integer UpdateCount() const { return FUpdateCount; }

  String GetNamePath() override;
  // The name of the owner's published property that holds this collection.
  String PropName();

 protected:
  // Update(nil) unless inside BeginUpdate/EndUpdate.
  void Changed();
  // A change of Item, or of all items when Item is nil.
  virtual void Update(TCollectionItem* Item);
  virtual void Notify(TCollectionItem* Item, TCollectionNotification Action);
  virtual void SetItemName(TCollectionItem* Item);

 private:
  void InsertItem(TCollectionItem* Item);
  void RemoveItem(TCollectionItem* Item);
  void MoveItem(Integer CurIndex, Integer NewIndex);

  TCollectionItemClass FItemClass;
  std::vector<TCollectionItem*> FItems;
  Integer FUpdateCount{};
  Integer FNextID{};
  String FPropName;

  friend class TCollectionItem;
};

// A collection that answers its owner (for the name path and streaming).
class TOwnedCollection : public TCollection {
  CL_CLASS(TOwnedCollection, TCollection)
 public:
  void Create(TPersistent* AOwner, TCollectionItemClass ItemClass);
  TPersistent* GetOwner() override { return FOwner; }

 private:
  TPersistent* FOwner{};
};

// --- TComponentList -----------------------------------------------------------

// A list of components (owning them unless created with false) that drops a
// component when it is freed elsewhere.
class TComponentList : public TObjectList {
  CL_CLASS(TComponentList, TObjectList)
 public:
  void Destroy() override;

  Integer Add(TComponent* AComponent) { return TObjectList::Add(AComponent); }
  TComponent* Extract(TComponent* Item) { return static_cast<TComponent*>(TObjectList::Extract(Item)); }
  Integer Remove(TComponent* AComponent) { return TObjectList::Remove(AComponent); }
  Integer IndexOf(TComponent* AComponent) const { return TObjectList::IndexOf(AComponent); }
  void Insert(Integer Index, TComponent* AComponent) { TObjectList::Insert(Index, AComponent); }
  TComponent* First() const { return static_cast<TComponent*>(TObjectList::First()); }
  TComponent* Last() const { return static_cast<TComponent*>(TObjectList::Last()); }
  TComponent* Items(Integer Index) const { return static_cast<TComponent*>(Get(Index)); }
  void SetItems(Integer Index, TComponent* AComponent) { Put(Index, AComponent); }

 protected:
  void Notify(Pointer Ptr, TListNotification Action) override;

 private:
  void HandleFreeNotify(TComponent* AComponent);
  TComponent* FNexus{};

  friend class TComponentListNexus;
};

// --- The application's exception handler ----------------------------------------

// Called inside the catch of an exception that a component ends instead of
// letting it out (a window procedure, a component's Loaded), so `throw;`
// rethrows it there. The application object installs it; nil without one.
extern void (*ApplicationHandleException)(TObject* Sender);

// Runs AWork; an exception it raises goes to the application's handler
// instead of out (dropped without an application).
template <class F>
void HandleExceptionsOf(TObject* Sender, F&& AWork) {
  try {
    AWork();
  } catch (...) {
    if (ApplicationHandleException) ApplicationHandleException(Sender);
  }
}
