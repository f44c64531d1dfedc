// Expanded details and selection kept by record key across a reload or a
// deletion: before the change the controller saves the key of every record
// with expanded details (its active relation and, recursively, its detail
// controller) and of every selected record; afterwards it finds the records
// with equal keys and expands and selects them again.
#pragma once

#include <vector>

#include "platform/classes/Classes.h"
#include "platform/rtl/Variants.h"

class TvlCustomDataController;
class TvlCustomDataField;
class TvlSaveObject;

class TvlKeyInfo : public TObject {
  CL_CLASS(TvlKeyInfo, TObject)
 public:
  Variant Key;
};

class TvlSelectedKeyInfo : public TvlKeyInfo {
  CL_CLASS(TvlSelectedKeyInfo, TvlKeyInfo)
 public:
  Integer SelectedIndex{};
};

class TvlDetailKeyInfo : public TvlKeyInfo {
  CL_CLASS(TvlDetailKeyInfo, TvlKeyInfo)
 public:
  Integer ActiveRelationIndex{};
  TvlSaveObject* SubDetail{};  // owned
};

class TvlKeys : public TObject {
  CL_CLASS(TvlKeys, TObject)
 public:
  void Destroy() override;
  void Save(TvlCustomDataController* ADataController);
  void Restore(TvlCustomDataController* ADataController);
  Boolean FindKey(Integer ARecordIndex, Integer& AIndex);
  void Delete(Integer AIndex);
  virtual void Clear();
  Integer Count() const { return static_cast<Integer>(FKeys.size()); }
  TvlKeyInfo* Items(Integer AIndex) const { return FKeys[AIndex]; }

 protected:
  virtual void DoRestore() {}
  virtual void DoSave() {}
  virtual void FreeKey(TvlKeyInfo* AKey);
  Variant RecordKey(Integer ARecordIndex);
  void Bind(TvlCustomDataController* ADataController);

  TvlCustomDataController* FDataController{};
  std::vector<TvlCustomDataField*> FKeyFields;
  std::vector<TvlKeyInfo*> FKeys;
};

class TvlDetailKeys : public TvlKeys {
  CL_CLASS(TvlDetailKeys, TvlKeys)
 protected:
  void DoRestore() override;
  void DoSave() override;
  void FreeKey(TvlKeyInfo* AKey) override;
};

class TvlSelectedKeys : public TvlKeys {
  CL_CLASS(TvlSelectedKeys, TvlKeys)
 protected:
  void DoRestore() override;
  void DoSave() override;
};

class TvlSaveObject : public TObject {
  CL_CLASS(TvlSaveObject, TObject)
 public:
  virtual void Create();
  void Destroy() override;
  void Save(TvlCustomDataController* ADataController);
  void Restore(TvlCustomDataController* ADataController);
  TvlDetailKeys* DetailKeys() const { return FDetailKeys; }
  TvlSelectedKeys* SelectedKeys() const { return FSelectedKeys; }

 private:
  TvlDetailKeys* FDetailKeys{};
  TvlSelectedKeys* FSelectedKeys{};
};

class TvlValueDefReader;

// Finds a record by values read into a temporary internal record of the
// storage.
class TvlDataControllerLocateObject : public TObject {
  CL_CLASS(TvlDataControllerLocateObject, TObject)
 public:
  virtual void Create(TvlCustomDataController* ADataController) { FDataController = ADataController; }
  void Destroy() override;
  virtual void Clear();
  // The record holding the values read; -1 here.
  virtual Integer FindRecordIndex() { return -1; }
  void ReadData(TvlValueDefReader* AValueDefReader);
  TvlCustomDataController* DataController() const { return FDataController; }
  // 0 while no record was read; otherwise a negative internal record.
  Integer InternalRecordIndex() const { return FInternalRecordIndex; }

 protected:
  TvlCustomDataController* FDataController{};
  Integer FInternalRecordIndex{};
};

// By the values of key fields (first record holding them all, or -1).
class TvlDataControllerKeyLocateObject : public TvlDataControllerLocateObject {
  CL_CLASS(TvlDataControllerKeyLocateObject, TvlDataControllerLocateObject)
 public:
  void AddField(TvlCustomDataField* AField) { FFields.push_back(AField); }
  void ClearFields() { FFields.clear(); }
  Integer FindRecordIndex() override;

 private:
  std::vector<TvlCustomDataField*> FFields;
};

// By grouping values: the first record of the record list equal to the
// internal record in the grouping fields of levels 0 .. Level, or -1.
class TvlDataControllerGroupLocateObject : public TvlDataControllerLocateObject {
  CL_CLASS(TvlDataControllerGroupLocateObject, TvlDataControllerLocateObject)
 public:
  void Create(TvlCustomDataController* ADataController) override;
  Integer FindRecordIndex() override;
  Integer Level() const { return FLevel; }
  void SetLevel(Integer Value) { FLevel = Value; }
  Boolean IsGroupDataSorted() const { return FIsGroupDataSorted; }

 private:
  Boolean FIsGroupDataSorted{};
  Integer FLevel{};
};
