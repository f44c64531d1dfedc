// The data controller's fields (one per item of its owner, plus internal
// ones), the value-definition readers, the notifier component, relations
// and detail objects of master-detail, and the controller's filter criteria
// with its value lists.
//
// These stand on the data controller, which they reach through
// IvlDataController: the narrow set of its operations that they call.
#pragma once

#include <vector>

#include "lib/data/vlDataStorage.h"
#include "lib/data/vlFilter.h"
#include "platform/classes/Classes.h"

class TvlCustomDataField;
class TvlCustomDataFieldList;
class TvlCustomDataRelation;
class TvlCustomDataRelationList;
class TvlDataControllerNotifier;
class TvlDataFilterCriteria;
class TvlDataFilterList;
class TvlDataFilterValueList;

using TvlCustomDataRelationClass = TClassOf<TvlCustomDataRelation>;

// What the fields, relations and the filter criteria ask of their data
// controller (a plain abstract class, not a counted interface).
class IvlDataController {
 public:
  virtual ~IvlDataController() = default;

  // Storage and fields.
  virtual TvlDataStorage* DataStorage() = 0;
  virtual TvlCustomDataFieldList* Fields() = 0;
  virtual TvlDataControllerNotifier* Notifier() = 0;
  virtual Boolean IsProviderMode() = 0;
  // The field is going: forget it in sorting, grouping and summaries.
  virtual void FieldRemoved(TvlCustomDataField* AField) = 0;
  // Unless the provider is frozen: it reports a structure layout change.
  virtual void ProviderLayoutChanged() = 0;
  virtual Variant GetValue(Integer ARecordIndex, TvlCustomDataField* AField) = 0;
  virtual String GetDisplayText(Integer ARecordIndex, TvlCustomDataField* AField) = 0;

  // Filtering.
  virtual Variant GetFilterDataValue(Integer ARecordIndex, TvlCustomDataField* AField) = 0;
  virtual String GetFilterItemFieldCaption(TObject* AItem) = 0;
  virtual String GetFilterItemFieldName(TObject* AItem) = 0;
  virtual String GetFilterValueDisplayText(Integer ARecordIndex, Integer AItemIndex) = 0;
  // For a filter value list: the order keys (vlIntegerOrderKey,
  // vlFloatOrderKey) of the field's filter values of every record, or with
  // AFiltered of the filtered records in their order, each with its record,
  // blanks left out (ABlanks set when there is one), read straight from the
  // storage (ARecords left empty when they are 0, 1, 2, ... in order); False when the field's filter values are not numbers of one
  // kind stored unchanged (they are then read one by one).
  virtual Boolean GetFilterNumberKeys(TvlCustomDataField* AField, Boolean AFiltered, TvlKeyArray& AKeys,
                                      TvlIndexArray& ARecords, Boolean& ABlanks) {
    return false;
  }
  virtual Integer GetItemID(TObject* AItem) = 0;
  virtual String GetItemName(TObject* AItem) = 0;
  virtual TObject* GetItemByID(Integer AID) = 0;
  // Case-insensitive.
  virtual TObject* GetItemByName(const String& AName) = 0;
  virtual Boolean IsGridMode() = 0;
  virtual Boolean IsOwnerDestroying() = 0;
  virtual Boolean IsOwnerLoading() = 0;
  virtual Boolean IsActiveDataSet() = 0;
  virtual Boolean IsItemSortByText(Integer AItemIndex) = 0;
  virtual Integer RecordCount() = 0;
  virtual Integer FilteredRecordCount() = 0;
  virtual Integer GetRecordListRecordIndex(Integer AIndex) = 0;
  virtual void Post(Boolean AForcePost) = 0;
  virtual void FilterChanged() = 0;
  // The list of extra filters; nil when the controller keeps none.
  virtual TvlDataFilterList* ExtraFilters() = 0;

  // Master-detail.
  // Raises "RecordIndex out of range" unless the index is a stored record,
  // the new-item record or the saved record.
  virtual void CheckRecordIndex(Integer ARecordIndex) = 0;
  virtual void BeginUpdate() = 0;
  virtual void EndUpdate() = 0;
  virtual TvlCustomDataRelationClass GetRelationClass() = 0;
  virtual TvlCustomDataRelationList* Relations() = 0;
  virtual IvlDataController* PatternController() = 0;
  virtual Integer DefaultActiveRelationIndex() = 0;
  virtual void ClearDetails() = 0;
  virtual void RelationsChanged(TvlCustomDataRelation* ARelation) = 0;
  // The detail controller of a detail object's link object (nil when none).
  virtual IvlDataController* GetDetailDataControllerByLinkObject(TObject* ALinkObject) = 0;
  // On a detail controller.
  virtual Boolean IsPattern() = 0;
  virtual void SetMasterMode(TvlCustomDataRelation* AMasterRelation, Boolean AIsPattern) = 0;
  virtual void SetMasterRelation(TvlCustomDataRelation* AMasterRelation, Integer AMasterRecordIndex) = 0;
};

// --- Fields ---------------------------------------------------------------------------

// What an edit value means: the stored value, its display text, or a lookup's key.
enum TvlDataEditValueSource : Integer { evsValue, evsText, evsKey };

class TvlCustomDataField : public TObject {
  CL_CLASS(TvlCustomDataField, TObject)
 public:
  virtual void TakeOverValueDef(TvlCustomDataField* ASource);
  virtual void ComponentRemoved(TComponent* AComponent);
  virtual void Create(TvlCustomDataFieldList* AFieldList);
  virtual Boolean CanModify(Integer AEditValueSource);
  virtual Boolean IsUnbound();
  virtual Boolean IsValueDefInternal();
  void Destroy() override;

  void ReleaseValueDef();
  void BuildValueDef();
  void BeginValueDefChange();
  void EndValueDefChange();
  void NotifyStructureChanged();

  Integer Index() const;
  void SetIndex(Integer Value);
  Boolean IsInternal() const { return FIsInternal; }
  void SetIsInternal(Boolean Value);
  TvlCustomDataField* ReferenceField() const { return FReferenceField; }
  void SetReferenceField(TvlCustomDataField* Value);
  Boolean TextStored() const;
  void SetTextStored(Boolean Value);
  TvlValueTypeClass ValueTypeClass() const;
  void SetValueTypeClass(TvlValueTypeClass Value);
  TvlValueDef* ValueDef() const;
  IvlDataController* DataController() const;
  TvlCustomDataFieldList* FieldList() const { return FFieldList; }
  TObject* Item() const { return FItem; }
  void SetItem(TObject* Value) { FItem = Value; }
  TvlDataControllerNotifier* Notifier() const;
  Boolean NeedConversion() const { return FNeedConversion; }
  void SetNeedConversion(Boolean Value) { FNeedConversion = Value; }
  // Per sort pass: 0 idle, -1 compare raw, 1 convert, 2 compare display texts.
  Integer NeedConversionFlag() const { return FNeedConversionFlag; }
  void SetNeedConversionFlag(Integer Value) { FNeedConversionFlag = Value; }
  Boolean Prepared() const { return FPrepared; }
  void SetPrepared(Boolean Value) { FPrepared = Value; }

 private:
  friend class TvlCustomDataFieldList;
  TvlCustomDataFieldList* FFieldList{};
  Boolean FIsInternal{};
  TObject* FItem{};
  Integer FLockRecreateData{};
  Boolean FNeedConversion{};
  Integer FNeedConversionFlag{};
  Boolean FPrepared{};
  TvlCustomDataField* FReferenceField{};
  Boolean FTextStored{};
  TvlValueDef* FValueDef{};
  TvlValueTypeClass FValueTypeClass;
};

using TvlCustomDataFieldClass = TClassOf<TvlCustomDataField>;

// Item fields first (their position is the item index), internal ones after.
class TvlCustomDataFieldList : public TObject {
  CL_CLASS(TvlCustomDataFieldList, TObject)
 public:
  virtual void ComponentRemoved(TComponent* AComponent);
  virtual void Create(IvlDataController* ADataController);
  void Destroy() override;

  void Add(TvlCustomDataField* AField);
  void Remove(TvlCustomDataField* AField);
  void ReassignFields(TvlCustomDataField* ADestroyedField);
  void Clear();
  TvlCustomDataField* FieldByItem(TObject* AItem) const;
  Integer Count() const { return static_cast<Integer>(FItems.size()); }
  Integer ItemCount() const { return Count() - FInternalCount; }
  TvlCustomDataField* Items(Integer AIndex) const { return FItems[AIndex]; }
  Integer IndexOf(TvlCustomDataField* AField) const;
  void Move(Integer ACurIndex, Integer ANewIndex);
  IvlDataController* DataController() const { return FDataController; }
  Boolean FieldDestroyed() const { return FFieldDestroyed; }
  void ClearFieldDestroyed() { FFieldDestroyed = false; }

 private:
  friend class TvlCustomDataField;
  void Recount();
  IvlDataController* FDataController{};
  Boolean FFieldDestroyed{};
  Integer FInternalCount{};
  std::vector<TvlCustomDataField*> FItems;
};

// True when the definition belongs to an internal field.
Boolean IsValueDefInternal(TvlValueDef* AValueDef);

// Values that are in no record (a search record is built from them).
class TvlValueDefUnboundReader : public TvlValueDefReader {
  CL_CLASS(TvlValueDefUnboundReader, TvlValueDefReader)
 public:
  void Destroy() override;
  Variant GetValue(TvlValueDef* AValueDef) override;
  Boolean IsInternal(TvlValueDef* AValueDef) override;
  void SetValue(TvlValueDef* AValueDef, const Variant& AValue);
  void Truncate(Integer ACount);
  void Clear() { Truncate(0); }

 private:
  std::vector<TvlValueDef*> FItems;
  std::vector<Variant*> FValues;
};

// One record of a controller, read through the controller.
class TvlValueDefRecordReader : public TvlValueDefReader {
  CL_CLASS(TvlValueDefRecordReader, TvlValueDefReader)
 public:
  using TvlValueDefReader::Create;
  virtual void Create(IvlDataController* ADataController, Integer ARecordIndex);
  String GetDisplayText(TvlValueDef* AValueDef) override;
  Variant GetValue(TvlValueDef* AValueDef) override;
  Boolean IsInternal(TvlValueDef* AValueDef) override;

 private:
  IvlDataController* FDataController{};
  Integer FRecordIndex{};
};

// Forwards free notifications of components to the controller's fields.
class TvlDataControllerNotifier : public TComponent {
  CL_CLASS(TvlDataControllerNotifier, TComponent)
 public:
  IvlDataController* DataController() const { return FDataController; }
  void SetDataController(IvlDataController* Value) { FDataController = Value; }

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  IvlDataController* FDataController{};
};

// --- Relations and detail objects ------------------------------------------------------

class TvlDetailInfoObject : public TObject {
  CL_CLASS(TvlDetailInfoObject, TObject)
 public:
  void Destroy() override;
  TObject* LinkObject{};  // owned
  Boolean HasChildren{};
  Boolean HasChildrenAssigned{};
};

class TvlDetailObject : public TObject {
  CL_CLASS(TvlDetailObject, TObject)
 public:
  virtual void Create();
  void Destroy() override;
  void Clear();
  void ClearInfoObject(Integer AIndex);
  Boolean ClearHasChildrenFlag();
  TvlDetailInfoObject* InfoObjects(Integer AIndex) const;
  Integer InfoObjectCount() const { return static_cast<Integer>(FInfoObjects.size()); }
  TObject* LinkObjects(Integer AIndex) const;
  Integer LinkObjectCount() const { return InfoObjectCount(); }
  Boolean IsEmpty() const;
  void SetInfoObject(Integer AIndex, TvlDetailInfoObject* AInfo);
  void AssignLinkObject(Integer AIndex, TObject* AObject);
  void SetInfoObjectCount(Integer ACount);
  Integer ActiveRelationIndex() const { return FActiveRelationIndex; }
  void SetActiveRelationIndex(Integer Value) { FActiveRelationIndex = Value; }
  Boolean Expanded() const { return FExpanded; }
  void SetExpanded(Boolean Value) { FExpanded = Value; }

 private:
  Integer FActiveRelationIndex{};
  std::vector<TvlDetailInfoObject*> FInfoObjects;
  Boolean FExpanded{};
};

class TvlCustomDataRelation : public TObject {
  CL_CLASS(TvlCustomDataRelation, TObject)
 public:
  virtual void FieldRemoved(TvlCustomDataField* AField);
  virtual void Create(TvlCustomDataRelationList* ARelationList, TObject* AItem);
  virtual void Assign(TvlCustomDataRelation* ASource);
  void Destroy() override;
  void Changed();

  IvlDataController* DataController() const;
  Integer Index() const;
  TObject* Item() const { return FItem; }
  IvlDataController* DetailDataController() const { return FDetailDataController; }
  void SetDetailDataController(IvlDataController* Value) { FDetailDataController = Value; }
  TvlCustomDataRelationList* RelationList() const { return FRelationList; }

 private:
  IvlDataController* FDetailDataController{};
  TObject* FItem{};
  TvlCustomDataRelationList* FRelationList{};
};

class TvlCustomDataRelationList : public TObject {
  CL_CLASS(TvlCustomDataRelationList, TObject)
 public:
  virtual void Create(IvlDataController* ADataController);
  void Destroy() override;

  TvlCustomDataRelation* Add(TObject* AItem);
  void Assign(TvlCustomDataRelationList* ASource);
  void BeginUpdate();
  void EndUpdate();
  void Clear();
  void Move(Integer ACurIndex, Integer ANewIndex);
  TvlCustomDataRelation* FindByItem(TObject* AItem) const;
  void RemoveByItem(TObject* AItem);
  Integer Count() const { return static_cast<Integer>(FItems.size()); }
  TvlCustomDataRelation* Items(Integer AIndex) const { return FItems[AIndex]; }
  Integer IndexOf(const TvlCustomDataRelation* ARelation) const;
  Boolean IsEmpty();
  TvlDetailObject* GetDetailObject(Integer ARecordIndex);
  Boolean IsDetailObjectExist(Integer ARecordIndex, Integer ARelationIndex);
  Boolean ClearDetailObject(Integer ARecordIndex, Integer ARelationIndex);
  void RemoveField(TvlCustomDataField* AField);
  void Changed(TvlCustomDataRelation* ARelation);
  void Update(TvlCustomDataRelation* ARelation);
  IvlDataController* DataController() const { return FDataController; }
  TvlCustomDataField* DataField() const { return FDataField; }

 private:
  friend class TvlCustomDataRelation;
  TvlDetailObject* StoredDetailObject(Integer ARecordIndex);
  IvlDataController* FDataController{};
  TvlCustomDataField* FDataField{};
  std::vector<TvlCustomDataRelation*> FItems;
  Integer FLockCount{};
};

// --- Filter criteria of a data controller -------------------------------------------------

// A leaf bound to a data field of the controller (built from an item, it
// remembers the item's field).
class TvlDataFilterCriteriaItem : public TvlFilterCriteriaItem {
  CL_CLASS(TvlDataFilterCriteriaItem, TvlFilterCriteriaItem)
 public:
  Variant GetRecordValue(Pointer AData) override;
  String GetFieldCaption() override;
  String GetFieldName() override;
  TObject* GetItemLink() override;
  void SetItemLink(TObject* Value) override;

  IvlDataController* DataController();
  TvlCustomDataField* Field() const;
  // Whether GetRecordValue answers the controller's GetFilterDataValue of
  // Field(), so that a filter may read the stored value instead: true only
  // for the classes known not to change it.
  virtual Boolean ReadsFilterDataValue() const;
};

class TvlDataFilterValueList : public TvlFilterValueList {
  CL_CLASS(TvlDataFilterValueList, TvlFilterValueList)
 public:
  void Load(Integer AItemIndex, Boolean AInitSortByDisplayText, Boolean AUseFilteredValues);
  IvlDataController* DataController();
};

class TvlDataFilterCriteria;
using TvlDataFilterGetValueListEvent =
    TDelegate<void(TvlFilterCriteria* Sender, Integer AItemIndex, TvlDataFilterValueList* AValueList)>;

class TvlDataFilterCriteria : public TvlFilterCriteria {
  CL_CLASS(TvlDataFilterCriteria, TvlFilterCriteria)
 public:
  using TvlFilterCriteria::Create;
  virtual void Create(IvlDataController* ADataController);
  virtual TvlDataFilterValueList* CreateValueList();
  virtual Boolean IsFiltering();
  void BeforeDestruction() override;

  Integer ItemLinkToID(TObject* AItemLink) override;
  String ItemLinkToName(TObject* AItemLink) override;
  TvlFilterCriteriaItemClass CriteriaItemClass() override;
  TObject* IDToItemLink(Integer AID) override;
  TObject* NameToItemLink(const String& AName) override;
  TvlFilterValueListClass ValueListClass() override;
  void FireChanged() override;
  void Assign(TPersistent* Source, Boolean AIgnoreItemNames) override;
  using TvlFilterCriteria::Assign;
  void AssignEvents(TPersistent* Source) override;
  TvlFilterCriteriaItem* FindItemByItemLink(TObject* AItemLink) override;

  void RemoveItemByField(TvlCustomDataField* AField);
  // Record indexes go through MatchRecord's data pointer.
  Boolean MatchRecordIndex(Integer ARecordIndex) { return MatchRecord(reinterpret_cast<Pointer>(static_cast<intptr_t>(ARecordIndex))); }

  Boolean Active() const { return FActive; }
  void SetActive(Boolean Value);
  const TvlDataFilterGetValueListEvent& OnGetValueList() const { return FOnGetValueList; }
  void SetOnGetValueList(const TvlDataFilterGetValueListEvent& Value) { FOnGetValueList = Value; }
  IvlDataController* DataController() const { return FDataController; }

 protected:
  void DefineProperties(TFiler* Filer) override;

 private:
  void ReadCriteria(TStream* AStream);
  void WriteCriteria(TStream* AStream);
  Boolean FActive{};
  TvlDataFilterGetValueListEvent FOnGetValueList;
  IvlDataController* FDataController{};
  Boolean FDestroying{};
};

// The controller's extra filters: changes there never refilter.
class TvlDataFilterList : public TObject {
  CL_CLASS(TvlDataFilterList, TObject)
 public:
  void Destroy() override;
  void Add(TvlDataFilterCriteria* ACriteria) { FItems.push_back(ACriteria); }
  void Remove(TvlDataFilterCriteria* ACriteria);
  Boolean Contains(TvlDataFilterCriteria* ACriteria) const;
  void Clear();
  void RemoveItemByField(TvlCustomDataField* AField);
  Integer Count() const { return static_cast<Integer>(FItems.size()); }
  TvlDataFilterCriteria* Items(Integer AIndex) const { return FItems[AIndex]; }

 private:
  std::vector<TvlDataFilterCriteria*> FItems;
};
