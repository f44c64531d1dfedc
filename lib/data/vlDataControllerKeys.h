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
