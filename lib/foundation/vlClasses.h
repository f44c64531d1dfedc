// The library's base classes: objects answering interfaces without counting,
// components with design-time links and weak-link clearing, interfaced and
// sorted owned collections, owning object lists, event handler collections,
// the two class registries, component collections and lists, MRU lists,
// weak object links, the free-notification relay and small free routines.
#pragma once

#include <vector>

#include "platform/classes/Classes.h"
#include "platform/classes/StringLists.h"
#include "platform/rtl/Geometry.h"

class TMemoryStream;
namespace win {
struct HHOOK__;
}

// --- Shared enumerations ---------------------------------------------------------

CL_ENUM(TvlAlignmentVert, Byte, vaTop, vaBottom, vaCenter)
CL_ENUM(TvlCollectionOperation, Byte, copAdd, copDelete, copChanged)
CL_ENUM(TvlDirection, Byte, dirNone, dirLeft, dirRight, dirUp, dirDown)
CL_ENUM(TvlPosition, Byte, posNone, posLeft, posRight, posTop, posBottom)

// --- Objects answering interfaces ------------------------------------------------------

// IInterface without reference counting: its owner frees it.
class TvlIUnknownObject : public TObject, public virtual IInterface {
  CL_CLASS(TvlIUnknownObject, TObject)
 public:
  HRESULT QueryInterface(const TGUID& IID, void** Obj) override;
  Integer _AddRef() override { return -1; }
  Integer _Release() override { return -1; }
};

// A persistent object with an owner given at creation.
class TvlInterfacedPersistent : public TInterfacedPersistent {
  CL_CLASS(TvlInterfacedPersistent, TInterfacedPersistent)
 public:
  virtual void Create(TPersistent* AOwner);
  TPersistent* Owner() const { return FOwner; }
  TPersistent* GetOwner() override { return FOwner; }

 private:
  TPersistent* FOwner{};
};

// --- TvlComponent ----------------------------------------------------------------------

// The base of the library's components. Destroying it clears every weak
// object link to it; the three published links carry, in form files, the
// components of other forms it refers to (filled at design time only).
class TvlComponent : public TComponent {
  CL_CLASS(TvlComponent, TComponent)
 public:
  void Destroy() override;
  void BeforeDestruction() override;
  void Loaded() override;

  Boolean IsDesigning() const { return ComponentState().Contains(csDesigning); }
  Boolean IsDestroying() const { return ComponentState().Contains(csDestroying); }

  TComponent* FakeComponentLink1() const { return FFakeComponentLinks[0]; }
  TComponent* FakeComponentLink2() const { return FFakeComponentLinks[1]; }
  TComponent* FakeComponentLink3() const { return FFakeComponentLinks[2]; }
  void SetFakeComponentLink1(TComponent* Value) { SetFakeComponentLink(0, Value); }
  void SetFakeComponentLink2(TComponent* Value) { SetFakeComponentLink(1, Value); }
  void SetFakeComponentLink3(TComponent* Value) { SetFakeComponentLink(2, Value); }

 protected:
  // Fills AList with the components of other forms this one refers to.
  virtual void GetFakeComponentLinks(TList* AList);
  void Notification(TComponent* AComponent, TOperation Operation) override;
  // At design time, when not destroying and owned: the links from
  // GetFakeComponentLinks (nil past the list's end).
  void UpdateFakeLinks();

 private:
  void SetFakeComponentLink(Integer AIndex, TComponent* Value);
  TComponent* FFakeComponentLinks[3]{};
};

// --- Collections -------------------------------------------------------------------------

// A collection item that forwards reference counting to its collection's
// IInterface (nil when the collection answers none).
class TvlInterfacedCollectionItem : public TCollectionItem, public virtual IInterface {
  CL_CLASS(TvlInterfacedCollectionItem, TCollectionItem)
 public:
  void AfterConstruction() override;
  void Destroy() override;
  virtual HRESULT QueryInterface(const TGUID& IID, void** Obj) override;
  Integer _AddRef() override;
  Integer _Release() override;

 private:
  IInterface* FOwnerInterface{};  // the collection: it outlives its items
};

CL_ENUM(TvlCollectionInternalState, Byte, cisDestroying, cisUpdating, cisSorting)
using TvlCollectionInternalStates = TSet<TvlCollectionInternalState, 1>;

class TvlOwnedInterfacedCollection;
// Item is the changed item, or nil for the whole collection.
using TvlCollectionNotifyEvent = TDelegate<void(TObject* Sender, TCollectionItem* AItem)>;
// Negative when Item1 sorts first.
using TvlCollectionCompareEvent =
    TDelegate<Integer(TvlOwnedInterfacedCollection* Sender, TCollectionItem* Item1, TCollectionItem* Item2)>;

class TvlStringList;

// An owned collection that answers IInterface without counting, reports
// changes through OnChange (one at a time: a change reported while OnChange
// runs is dropped) and keeps itself sorted when Sorted.
class TvlOwnedInterfacedCollection : public TOwnedCollection, public virtual IInterface {
  CL_CLASS(TvlOwnedInterfacedCollection, TOwnedCollection)
 public:
  void Destroy() override;
  HRESULT QueryInterface(const TGUID& IID, void** Obj) override;
  Integer _AddRef() override { return -1; }
  Integer _Release() override { return -1; }

  // Nothing inside BeginUpdate/EndUpdate or while sorting; otherwise orders
  // the items by OnCompare (or CompareItemsByIndex) with the platform's
  // quicksort.
  void Sort();

  Boolean Sorted() const { return FSorted; }
  void SetSorted(Boolean Value);
  const TvlCollectionNotifyEvent& OnChange() const { return FOnChange; }
  void SetOnChange(const TvlCollectionNotifyEvent& Value) { FOnChange = Value; }
  const TvlCollectionCompareEvent& OnCompare() const { return FOnCompare; }
  void SetOnCompare(const TvlCollectionCompareEvent& Value) { FOnCompare = Value; }
  TvlCollectionInternalStates InternalState() const { return FInternalState; }

 protected:
  // The sign of Item1's index minus Item2's.
  virtual Integer CompareItemsByIndex(TCollectionItem* Item1, TCollectionItem* Item2);
  void Update(TCollectionItem* Item) override;

 private:
  Integer CompareListItems(TvlStringList* AList, Integer Index1, Integer Index2);

  TvlCollectionInternalStates FInternalState{};
  Boolean FSorted{};
  TvlCollectionNotifyEvent FOnChange;
  TvlCollectionCompareEvent FOnCompare;
};

// --- Lists ------------------------------------------------------------------------------

// A pointer list that frees its objects on Clear (and so when destroyed)
// when OwnObjects; Delete and Remove never free.
class TvlObjectList : public TList {
  CL_CLASS(TvlObjectList, TList)
 public:
  void Create(Boolean AOwnObjects);
  // Frees every object from index 0 upward when OwnObjects, then empties.
  void Clear() override;

  Boolean OwnObjects() const { return FOwnObjects; }

 private:
  Boolean FOwnObjects{};
};

// An event handler of an event handler collection: the sender and an
// untyped argument record.
using TvlEventHandler = TDelegate<void(TObject* Sender, const void* EventArgs)>;

// A list of handlers without duplicates (same code and data).
class TvlEventHandlerCollection : public TObject {
  CL_CLASS(TvlEventHandlerCollection, TObject)
 public:
  void Add(const TvlEventHandler& AHandler);
  void Remove(const TvlEventHandler& AHandler);
  void Delete(Integer AIndex);
  Integer IndexOf(const TvlEventHandler& AHandler) const;
  // Every handler in registration order (a handler removed by an earlier one
  // during the call is skipped).
  void CallEvents(TObject* Sender, const void* EventArgs);
  Integer Count() const { return static_cast<Integer>(FHandlers.size()); }
  const TvlEventHandler& Items(Integer AIndex) const;

 private:
  std::vector<TvlEventHandler> FHandlers;
};

using TvlStringListCompareEvent = TDelegate<Integer(TvlStringList* Sender, Integer Index1, Integer Index2)>;

// A string list whose Sort uses OnCompare when assigned.
class TvlStringList : public TStringList {
  CL_CLASS(TvlStringList, TStringList)
 public:
  void Sort() override;
  const TvlStringListCompareEvent& OnCompare() const { return FOnCompare; }
  void SetOnCompare(const TvlStringListCompareEvent& Value) { FOnCompare = Value; }

 private:
  static Integer CompareByEvent(TStringList* AList, Integer Index1, Integer Index2);
  TvlStringListCompareEvent FOnCompare;
};

// A pointer list whose item setter grows the count to reach the index.
class TvlOpenList : public TList {
  CL_CLASS(TvlOpenList, TList)
 public:
  Pointer Items(Integer Index) const { return Get(Index); }
  // Past the end the count grows to Index + 1 first (new slots nil); a
  // negative index raises EListError.
  void SetItems(Integer Index, Pointer Item);
};

// --- Class registries ------------------------------------------------------------------------

class TvlRegisteredClassListItemData : public TObject {
  CL_CLASS(TvlRegisteredClassListItemData, TObject)
 public:
  TClass ItemClass{};
  TClass RegisteredClass{};
};

// Maps classes to classes; a class is answered by its nearest registered
// ancestor, whatever the order of registration.
class TvlRegisteredClassList : public TObject {
  CL_CLASS(TvlRegisteredClassList, TObject)
 public:
  void Create() {}
  void Destroy() override;
  void Clear();

  // The last entry whose item class is AClass or an ancestor: true with its
  // index. Otherwise false, AIndex the first entry whose item class descends
  // from AClass, or -1.
  virtual Boolean Find(TClass AClass, Integer& AIndex);
  // After the entries of AItemClass's ancestors, before those of its
  // descendants, else at the end. The same pair twice gives two entries.
  virtual void Register(TClass AItemClass, TClass ARegisteredClass);
  // Removes every entry of exactly that pair.
  virtual void Unregister(TClass AItemClass, TClass ARegisteredClass);
  // The class registered for AItemClass or its nearest registered ancestor; nil when none.
  TClass FindClass(TClass AItemClass);

  Integer Count() const { return static_cast<Integer>(FItems.size()); }
  TvlRegisteredClassListItemData* Items(Integer AIndex) const;

 private:
  std::vector<TvlRegisteredClassListItemData*> FItems;
};

class TvlRegisteredClasses;

// The registry's list: display texts with their classes.
class TvlRegisteredClassesStringList : public TStringList {
  CL_CLASS(TvlRegisteredClassesStringList, TStringList)
 public:
  TvlRegisteredClasses* Owner{};
};

// Classes with a display text "description|hint" each.
class TvlRegisteredClasses : public TObject {
  CL_CLASS(TvlRegisteredClasses, TObject)
 public:
  void Create(Boolean ARegisterClasses = false);
  void Destroy() override;

  void Clear();
  // Nothing when AClass is registered already; otherwise appends it, sorts
  // when Sorted, and registers it for streaming when RegisterClasses.
  void Register(TClass AClass, const String& ADescription);
  // The streaming registry is left as it is.
  void Unregister(TClass AClass);
  // Case-sensitive; nil when none.
  TClass FindByClassName(const String& AClassName) const;
  TClass FindByDescription(const String& ADescription) const;
  String GetDescriptionByClass(TClass AClass) const;
  String GetHintByClass(TClass AClass) const;
  Integer GetIndexByClass(TClass AClass) const;

  Integer Count() const;
  TClass Items(Integer AIndex) const;
  String Descriptions(Integer AIndex) const;
  String Hints(Integer AIndex) const;
  Boolean RegisterClasses() const { return FRegisterClasses; }
  Boolean Sorted() const { return FSorted; }
  void SetSorted(Boolean Value);

  // The descriptions compared by the locale, case ignored.
  virtual Integer CompareItems(Integer AIndex1, Integer AIndex2);
  virtual void Sort();

 private:
  TvlRegisteredClassesStringList* FItems{};
  Boolean FRegisterClasses{};
  Boolean FSorted{};
};

// --- Component collections --------------------------------------------------------------------

CL_ENUM(TvlComponentCollectionNotification, Byte, ccnAdded, ccnChanged, ccnExtracting, ccnExtracted,
        ccnDeleting)

class TvlComponentCollection;
class TvlComponentCollectionItem;
using TvlComponentCollectionItemClass = TClassOf<TvlComponentCollectionItem>;
using TvlComponentCollectionChangeEvent = TDelegate<void(TObject* Sender, TvlComponentCollectionItem* AItem,
                                                         TvlComponentCollectionNotification AAction)>;

// A component (owned by the form) that is an item of a collection held by
// another component, its parent component.
class TvlComponentCollectionItem : public TComponent {
  CL_CLASS(TvlComponentCollectionItem, TComponent)
 public:
  void Destroy() override;

  TvlComponentCollection* Collection() const { return FCollection; }
  // Leaves the old collection and joins the new one.
  virtual void SetCollection(TvlComponentCollection* AValue);
  Integer ID() const { return FID; }
  Integer Index() const;
  // Moves the item and reports a change of all items.
  virtual void SetIndex(Integer AValue);
  String DisplayName() { return GetDisplayName(); }

  TComponent* GetParentComponent() override;
  Boolean HasParent() override;
  void SetParentComponent(TComponent* Value) override;

 protected:
  // Abstract: the collection that AParent holds for items of this class.
  virtual TvlComponentCollection* GetCollectionFromParent(TComponent* AParent);
  virtual String GetDisplayName();
  // Unless destroying: reports a change of this item (nil when AAllItems).
  void Changed(Boolean AAllItems);

 private:
  TvlComponentCollection* FCollection{};
  Integer FID{};

  friend class TvlComponentCollection;
};

class TvlComponentCollection : public TPersistent {
  CL_CLASS(TvlComponentCollection, TPersistent)
 public:
  virtual void Create(TComponent* AParentComponent, TvlComponentCollectionItemClass AItemClass);
  void Destroy() override;

  // A new item owned by the parent component's owner, joined through its
  // parent component, then named by AssignItemName.
  TvlComponentCollectionItem* Add();
  TvlComponentCollectionItem* Insert(Integer AIndex);
  // ccnDeleting, then frees the item.
  void Delete(Integer AIndex);
  void Remove(TvlComponentCollectionItem* AItem);
  // Frees the items, the last first, inside BeginUpdate/EndUpdate(true).
  void Clear();
  virtual void BeginUpdate();
  // Reports ccnChanged (nil) when AForceUpdate and no update is left.
  virtual void EndUpdate(Boolean AForceUpdate = true);
  void Assign(TPersistent* Source) override;
  TvlComponentCollectionItem* FindItemByID(Integer AID) const;

  Integer Count() const { return static_cast<Integer>(FItems.size()); }
  TvlComponentCollectionItem* Items(Integer AIndex) const;
  Integer IndexOf(const TvlComponentCollectionItem* AItem) const;
  TComponent* ParentComponent() const { return FParentComponent; }
  TvlComponentCollectionItemClass ItemClass() const { return FItemClass; }
  Integer UpdateCount() const { return FUpdateCount; }
  TPersistent* GetOwner() override { return FParentComponent; }
  const TvlComponentCollectionChangeEvent& OnChange() const { return FOnChange; }
  void SetOnChange(const TvlComponentCollectionChangeEvent& Value) { FOnChange = Value; }

 protected:
  virtual void ItemNotify(TvlComponentCollectionItem* AItem, TvlComponentCollectionNotification AAction) {}
  virtual void AssignItemName(TvlComponentCollectionItem* AItem) {}
  // Fires OnChange.
  virtual void NotifyChange(TvlComponentCollectionItem* AItem, TvlComponentCollectionNotification AAction);
  // The change report: NotifyChange unless inside BeginUpdate/EndUpdate.
  void Changed(TvlComponentCollectionItem* AItem, TvlComponentCollectionNotification AAction);

 private:
  void InsertItem(TvlComponentCollectionItem* AItem);
  void RemoveItem(TvlComponentCollectionItem* AItem);
  void MoveItem(TvlComponentCollectionItem* AItem, Integer ANewIndex);

  TvlComponentCollectionItemClass FItemClass;
  std::vector<TvlComponentCollectionItem*> FItems;
  Integer FNextID{};
  TComponent* FParentComponent{};
  Integer FUpdateCount{};
  TvlComponentCollectionChangeEvent FOnChange;

  friend class TvlComponentCollectionItem;
};

// --- Component list ---------------------------------------------------------------------------

using TvlComponentListChangeEvent =
    TDelegate<void(TObject* Sender, TComponent* AComponent, TvlComponentCollectionNotification AAction)>;
using TvlComponentListNotifyEvent =
    TDelegate<void(TObject* Sender, TComponent* AComponent, TListNotification AAction)>;

// A non-owning component list of one item class that reports its changes.
class TvlComponentList : public TComponentList {
  CL_CLASS(TvlComponentList, TComponentList)
 public:
  void Create();
  void Destroy() override;

  void BeginUpdate() { ++FUpdateCount; }
  // Decrements without a report.
  void CancelUpdate();
  // Decrements, then reports ccnChanged (nil) when no update is left.
  void EndUpdate();
  // Deletes index 0 until empty inside BeginUpdate/EndUpdate.
  void Clear() override;
  Integer UpdateCount() const { return FUpdateCount; }

  const TvlComponentListChangeEvent& OnComponentListChanged() const { return FOnComponentListChanged; }
  void SetOnComponentListChanged(const TvlComponentListChangeEvent& Value) {
    FOnComponentListChanged = Value;
  }
  const TvlComponentListNotifyEvent& OnNotify() const { return FOnNotify; }
  void SetOnNotify(const TvlComponentListNotifyEvent& Value) { FOnNotify = Value; }

 protected:
  void Notify(Pointer Ptr, TListNotification Action) override;
  virtual void NotifyItem(TComponent* AItem, TListNotification AAction);
  virtual TClass GetItemClass() const;
  void DoComponentListChanged(TComponent* AComponent, TvlComponentCollectionNotification AAction);

 private:
  Integer FUpdateCount{};
  TvlComponentListChangeEvent FOnComponentListChanged;
  TvlComponentListNotifyEvent FOnNotify;
};

// --- MRU lists --------------------------------------------------------------------------------

class TvlMRUItem : public TObject {
  CL_CLASS(TvlMRUItem, TObject)
 public:
  // Abstract.
  virtual Boolean Equals(TvlMRUItem* AItem);
};

// Most recent first; MaxCount 0 means no limit.
class TvlMRUItems : public TObject {
  CL_CLASS(TvlMRUItems, TObject)
 public:
  virtual void Create() {}
  void Destroy() override;

  // An equal item moves to the front and AItem is freed; otherwise AItem goes
  // to the front and the list is cut to MaxCount.
  void Add(TvlMRUItem* AItem);
  void ClearItems();
  void Delete(Integer AIndex);
  Integer IndexOf(TvlMRUItem* AItem) const;

  Integer Count() const { return static_cast<Integer>(FItems.size()); }
  // A smaller count frees items from the end; a larger one does nothing.
  void SetCount(Integer AValue);
  TvlMRUItem* Items(Integer AIndex) const;
  Integer MaxCount() const { return FMaxCount; }
  void SetMaxCount(Integer AValue);

 private:
  void Cut();
  std::vector<TvlMRUItem*> FItems;
  Integer FMaxCount{};
};

// --- Weak object links ----------------------------------------------------------------------------

// Ref becomes nil when the object is destroyed (its destructor calls
// vlClearObjectLinks).
class TvlObjectLink : public TObject {
  CL_CLASS(TvlObjectLink, TObject)
 public:
  TObject* Ref{};
};

// A new link to AObject (nil for nil).
TvlObjectLink* vlAddObjectLink(TObject* AObject);
// Frees the link (nil is ignored).
void vlRemoveObjectLink(TvlObjectLink* ALink);
// Clears every link to AObject.
void vlClearObjectLinks(TObject* AObject);

// A weak link to an object for the life of a scope (a notification loop):
// Alive() turns false when the object is destroyed meanwhile (for the
// classes whose destruction clears their links).
class TvlObjectLinkScope {
 public:
  explicit TvlObjectLinkScope(TObject* AObject) : FLink(vlAddObjectLink(AObject)) {}
  ~TvlObjectLinkScope() { vlRemoveObjectLink(FLink); }
  TvlObjectLinkScope(const TvlObjectLinkScope&) = delete;
  TvlObjectLinkScope& operator=(const TvlObjectLinkScope&) = delete;
  Boolean Alive() const { return FLink && FLink->Ref; }

 private:
  TvlObjectLink* FLink;
};
// The number of live links (tests).
Integer vlObjectLinkCount();

// --- Free-notification relay ------------------------------------------------------------------------

using TvlFreeNotificationEvent = TDelegate<void(TComponent* Sender)>;

// Fires OnFreeNotification when a component it watches is freed.
class TvlFreeNotificator : public TComponent {
  CL_CLASS(TvlFreeNotificator, TComponent)
 public:
  void AddSender(TComponent* ASender);
  void RemoveSender(TComponent* ASender);
  const TvlFreeNotificationEvent& OnFreeNotification() const { return FOnFreeNotification; }
  void SetOnFreeNotification(const TvlFreeNotificationEvent& Value) { FOnFreeNotification = Value; }

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  TvlFreeNotificationEvent FOnFreeNotification;
};

// --- Free routines ------------------------------------------------------------------------------------

// A name for ANewItem unique among AOwner's components: the parent
// component's name, the letters, digits and "_" of ABaseText (or the class
// name without AClassNamePrefix, or without a leading "T", when the text is
// empty or begins with a digit), then a counter from 1 (from 0, that is
// none, when a base text is given).
void vlMakeUniqueComponentName(TComponent* AOwner, TComponent* AParentComponent, TComponent* ANewItem,
                               String& AName, const String& ABaseText = String(),
                               const String& AClassNamePrefix = String());

using TvlGetComponentItemEvent = TDelegate<TComponent*(Integer AIndex)>;
// After a component was renamed from AOldName to ANewName: every item owned
// by AItemsOwner whose name is longer than AOldName and begins with it (case
// ignored) gets ANewName in its place. Nothing when AOwner is an ancestor
// being loaded; an invalid or duplicate name is skipped.
void vlRenameOwnedItems(TComponent* AOwner, TComponent* AItemsOwner, const String& ANewName,
                        const TvlGetComponentItemEvent& AGetItem, Integer ACount, const String& AOldName);

void vlCallNotifyEvent(const TNotifyEvent& AEvent, TObject* ASender);
// Makes ADest the same list as ASource.
void vlCopyListItems(TList* ASource, TList* ADest);
Boolean vlSameMethod(const TMethod& A, const TMethod& B);
TPersistent* vlGetPersistentOwner(TPersistent* APersistent);
// A div B, plus 1 when there is a remainder (EDivByZero for B = 0).
Integer vlDivRoundUp(Integer A, Integer B);
TSize vlMakeExtent(Integer AWidth, Integer AHeight);
// floor((A + B) / 2).
Integer vlRangeMiddle(Integer A, Integer B);
Boolean vlMemoryStreamsEqual(TMemoryStream* AStream1, TMemoryStream* AStream2);
// 1 for x >= 0, else -1.
Integer vlFloatSign(Double AValue);
// A hook of AHookKind for the current thread; AHook receives its handle.
void vlSetThreadHook(win::HHOOK__*& AHook, Integer AHookKind, LRESULT (*AHookProc)(int, WPARAM, LPARAM));
// Removes the hook when set and clears AHook.
void vlReleaseThreadHook(win::HHOOK__*& AHook);
// The locale item's text, or ADefault when the locale has none.
String vlGetLocaleText(Cardinal ALocale, Cardinal ALCType, const String& ADefault);
// The code units of the character at the 1-based position (2 for a
// surrogate pair, 0 at or past the end).
Integer vlCharSizeAt(const String& AText, Integer AIndex);
// The text before, or after, the first "|"; the whole text without one.
String vlGetTextBeforeBar(const String& AText);
String vlGetTextAfterBar(const String& AText);
