// The data-set controller's companions: fields bound to data-set fields by
// name (several names or a lookup field give internal sub-fields), the
// reader that copies the data set's current record into the storage,
// relations linking master and detail by key field names, the filter that
// can filter the data set itself, summary items bound to a field name, and
// the adapter that moves or reopens a detail data set for a master record.
#pragma once

#include <vector>

#include "lib/data/vlDB.h"
#include "lib/data/vlDataController.h"

class TDataSet;
class TField;
class TvlDBDataController;

class TvlDBDataField : public TvlCustomDataField {
  CL_CLASS(TvlDBDataField, TvlCustomDataField)
 public:
  void Destroy() override;
  // Takes over the source's value definition, data-set field and sub-fields.
  void TakeOverValueDef(TvlCustomDataField* ASource) override;
  void ComponentRemoved(TComponent* AComponent) override;
  Boolean CanModify(Integer AEditValueSource) override;
  Boolean IsUnbound() override;
  Boolean IsValueDefInternal() override;

  // Raises "ADataField.FParentField <> nil" for a sub-field that has a parent.
  void AddField(TvlDBDataField* ADataField);
  void RemoveField(TvlDBDataField* ADataField);
  void ClearFields();
  // Through reference fields.
  Integer FieldCount() const;
  TvlDBDataField* Fields(Integer AIndex) const;
  TField* Field() const;
  void SetField(TField* Value);
  Boolean IsLookup() const;
  const String& FieldName() const { return FFieldName; }
  Boolean IsCurrency() const { return FIsCurrency; }
  TvlDBDataField* ParentField() const { return FParentField; }
  // The leaf fields: the sub-fields, or the field itself without any.
  void GetLeafFields(std::vector<TvlDBDataField*>& AList);
  // Value type, text storage and currency from the bound data-set field.
  void UpdateStorageProperties();
  TvlDBDataController* DBDataController() const;

 private:
  friend class TvlDBDataController;
  TvlDBDataField* Target() const;
  TField* FField{};
  String FFieldName;
  std::vector<TvlDBDataField*> FFields;
  Boolean FIsCurrency{};
  TvlDBDataField* FParentField{};
};

// Reads the data set's current record: the bound data-set fields' values.
class TvlValueDefDBReader : public TvlValueDefReader {
  CL_CLASS(TvlValueDefDBReader, TvlValueDefReader)
 public:
  String GetDisplayText(TvlValueDef* AValueDef) override;
  Variant GetValue(TvlValueDef* AValueDef) override;
  Boolean IsInternal(TvlValueDef* AValueDef) override;
};

class TvlDBDataRelation : public TvlCustomDataRelation {
  CL_CLASS(TvlDBDataRelation, TvlCustomDataRelation)
 public:
  void Destroy() override;
  void FieldRemoved(TvlCustomDataField* AField) override;
  // The master key values of a master record; Unassigned when not linked.
  Variant GetMasterRecordID(Integer ARecordIndex);
  Boolean IsLinked();
  String GetDetailKeyFieldNames();
  String GetMasterKeyFieldNames();
  // The detail pattern controller when it is a data-set controller.
  TvlDBDataController* DetailPattern();
  TvlDBDataController* MasterDataController() const;
  void UpdateMasterKeyField();
  void KeyFieldNamesChanged();
  TvlDBDataField* MasterKeyField() const { return FMasterKeyField; }

 private:
  TvlDBDataField* FMasterKeyField{};
};

class TvlDBDataFilterCriteria;
using TvlDBDataFilterBeforeChangeEvent =
    TDelegate<void(TvlDBDataFilterCriteria* Sender, TDataSet* ADataSet, const String& AFilterText)>;
using TvlDBDataFilterFormatFilterTextValueEvent =
    TDelegate<void(TvlDBDataFilterCriteria* Sender, const Variant& AValue, String& ADisplayValue)>;

class TvlDBDataFilterCriteriaItem : public TvlDataFilterCriteriaItem {
  CL_CLASS(TvlDBDataFilterCriteriaItem, TvlDataFilterCriteriaItem)
 public:
  TvlFilterOperatorClass GetFilterOperatorClass() override;
  Boolean ReadsFilterDataValue() const override;
};

class TvlDBDataFilterCriteria : public TvlDataFilterCriteria {
  CL_CLASS(TvlDBDataFilterCriteria, TvlDataFilterCriteria)
 public:
  void Create(IvlDataController* ADataController) override;
  using TvlDataFilterCriteria::Create;
  void Assign(TPersistent* Source, Boolean AIgnoreItemNames) override;
  using TvlDataFilterCriteria::Assign;
  void AssignEvents(TPersistent* Source) override;
  void RestoreDefaults() override;
  Boolean IsFiltering() override;
  void FormatFilterTextValue(TvlFilterCriteriaItem* AItem, const Variant& Value, String& Text) override;
  TvlFilterCriteriaItemClass CriteriaItemClass() override;
  void FireChanged() override;
  void BeforeDestruction() override;

  Boolean IsAutoDataSetFilter();
  Boolean AutoDataSetFilter() const { return FAutoDataSetFilter; }
  void SetAutoDataSetFilter(Boolean Value);
  Boolean IgnoreOrigin() const { return FIgnoreOrigin; }
  void SetIgnoreOrigin(Boolean Value);
  const TvlDBDataFilterBeforeChangeEvent& OnBeforeChange() const { return FOnBeforeChange; }
  void SetOnBeforeChange(const TvlDBDataFilterBeforeChangeEvent& Value) { FOnBeforeChange = Value; }
  const TvlDBDataFilterFormatFilterTextValueEvent& OnFormatFilterTextValue() const {
    return FOnFormatFilterTextValue;
  }
  void SetOnFormatFilterTextValue(const TvlDBDataFilterFormatFilterTextValueEvent& Value) {
    FOnFormatFilterTextValue = Value;
  }
  TvlDBDataController* DBDataController() const;

 private:
  Boolean FAutoDataSetFilter{};
  Boolean FIgnoreOrigin{true};
  TvlDBDataFilterBeforeChangeEvent FOnBeforeChange;
  TvlDBDataFilterFormatFilterTextValueEvent FOnFormatFilterTextValue;
  Boolean FDestroyingFilter{};
};

class TvlDBDataSummaryItem : public TvlDataSummaryItem {
  CL_CLASS(TvlDBDataSummaryItem, TvlDataSummaryItem)
 public:
  void Destroy() override;
  // The field name is copied too; the item link only when there is none.
  void CopySettings(TvlCustomDataSummaryItem* ASource) override;
  // The bound internal field when a field name is set, else the item's field.
  TvlCustomDataField* DataField() override;
  const String& FieldName() const { return FFieldName; }
  void SetFieldName(const String& Value);
  // A bound data-set field answers by its own type.
  Boolean IsCurrency(Integer AVarType) override;
  TvlDBDataController* DBDataController() const;

 private:
  TvlDBDataField* FDataField{};
  String FFieldName;
};

class TvlDBProviderDetailFilterAdapter : public TvlDBAdapterItem {
  CL_CLASS(TvlDBProviderDetailFilterAdapter, TvlDBAdapterItem)
 public:
  virtual Boolean IsCurrentQuery(TDataSet* ADataSet, const String& AParamNames, const Variant& AParamValues);
  virtual void ReopenSQL(TDataSet* ADataSet, const String& AParamNames, const Variant& AParamValues,
                         Boolean& AReopened);
  virtual void SetFilter(TDataSet* ADataSet, const String& AMasterDetailKeyFieldNames,
                         const Variant& AMasterDetailKeyValues, Boolean AIsSQLMode, Boolean& AReopened);
};

// Key values (one, or a variant array) equal element by element.
Boolean vlDBKeysEqual(const Variant& A, const Variant& B);

// The detail filter adapters by data-set class; made by the start-up step
// of vlDBData (TvlDBProviderDetailFilterAdapter for TDataSet).
extern TvlDBAdapterList* vlDBDataDetailAdapterList;
