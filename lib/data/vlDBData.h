// The data controller bound to a platform data set: the mode settings, the
// provider that reads and moves the data set, and the data link through
// which the data set's open, close, scroll, edit and post reach the
// controller.
#pragma once

#include <unordered_map>
#include <vector>

#include "lib/data/vlDataController.h"
#include "platform/db/DB.h"

class TvlDBDataController;
class TvlDBDataProvider;

class TvlDBDataModeController : public TPersistent {
  CL_CLASS(TvlDBDataModeController, TPersistent)
 public:
  void Create(TvlDBDataController* ADataController) { FDataController = ADataController; }
  void Assign(TPersistent* Source) override;

  TvlDBDataController* DataController() const { return FDataController; }
  Boolean DetailInSQLMode() const { return FDetailInSQLMode; }
  void SetDetailInSQLMode(Boolean Value) { FDetailInSQLMode = Value; }
  Boolean GridMode() const { return FGridMode; }
  void SetGridMode(Boolean Value);
  // Negative counts store 0: the window then holds the controller's default.
  Integer GridModeBufferCount() const { return FGridModeBufferCount; }
  void SetGridModeBufferCount(Integer Value);
  Boolean SmartRefresh() const { return FSmartRefresh; }
  void SetSmartRefresh(Boolean Value);
  Boolean SyncInsert() const { return FSyncInsert; }
  void SetSyncInsert(Boolean Value) { FSyncInsert = Value; }
  Boolean SyncMode() const { return FSyncMode; }
  void SetSyncMode(Boolean Value);

 private:
  TvlDBDataController* FDataController{};
  Boolean FDetailInSQLMode{};
  Boolean FDetailInSyncMode{true};
  Boolean FGridMode{};
  Integer FGridModeBufferCount{};
  Boolean FSmartRefresh{};
  Boolean FSyncInsert{true};
  Boolean FSyncMode{true};
};

// Turns the data set's notifications into provider and controller work.
class TvlDBDataLink : public TDataLink {
  CL_CLASS(TvlDBDataLink, TDataLink)
 public:
  void Create(TvlDBDataProvider* AProvider);
  TvlDBDataProvider* Provider() const { return FProvider; }
  Boolean LayoutChangedFlag() const { return FLayoutChangedFlag; }
  void SetPreventLayoutChanged(Boolean Value) { FPreventLayoutChanged = Value; }
  // Runs the data-set change handling (for a view that skipped one while another loaded).
  void NotifyDataSetChanged() { DataSetChanged(); }

 protected:
  void ActiveChanged() override;
  void DataEvent(TDataEvent Event, NativeInt Info) override;
  void DataSetChanged() override;
  void DataSetScrolled(Integer Distance) override;
  void EditingChanged() override;
  void LayoutChanged() override;
  void RecordChanged(TField* Field) override;

 private:
  Boolean FLayoutChangedFlag{};
  Boolean FPreventLayoutChanged{};
  TvlDBDataProvider* FProvider{};
};

struct TvlDBDataProviderSavePosInfo {
  TBookmark Bookmark;
  Boolean Bof{};
  Boolean Eof{};
  Integer ActiveRecord{};
};

class TvlDBDataProvider : public TvlCustomDataProvider {
  CL_CLASS(TvlDBDataProvider, TvlCustomDataProvider)
 public:
  void Create(TvlCustomDataController* ADataController) override;
  void Destroy() override;

  Boolean IsGridMode() override;
  Boolean IsActiveDataSet() override;
  Boolean IsActive() override;
  Boolean CanModify() override;
  // Editing goes to the data set while it can be modified, else to the storage.
  void Edit() override;
  void Post(Boolean AForcePost) override;
  void Cancel() override;
  Boolean SetEditValue(Integer ARecordIndex, TvlCustomDataField* AField, const Variant& AValue,
                       Boolean AFromText) override;
  // Grid mode: a window row's value or text, read through the data link.
  Variant GetExternalValue(Integer ARecordIndex, TvlCustomDataField* AField) override;
  String GetExternalDisplayText(Integer ARecordIndex, TvlCustomDataField* AField) override;
  Boolean IsSyncMode();
  Boolean IsSmartRefresh();
  Boolean IsUniDirectional();
  // A provider of the same data set that is loading or notifying.
  Boolean IsOtherDataControllerUpdating();

  TDataSet* DataSet() const { return FDataLink->DataSet(); }
  TDataSource* DataSource() const { return FDataLink->DataSource(); }
  void SetDataSource(TDataSource* Value);
  TvlDBDataLink* DataLink() const { return FDataLink; }
  TvlDBDataController* DBDataController() const;

  // Grid mode: the window moves past its edge by ADistance.
  void Scroll(Integer ADistance);
  void SavePos();
  void RestorePos();
  void LoadGridModeBuffer();
  Integer RecordIndex() const { return FRecordIndex; }
  void SetRecordIndex(Integer Value) { FRecordIndex = Value; }
  Boolean IsLoading() const { return FLoading; }
  void LockDataSet();
  void UnlockDataSet();

  // Called by the link.
  void ActiveChanged(Boolean AActive);
  void DataScrolled(Integer ADistance);
  void LayoutChanged();
  void EditingChanged();
  void DataSetChanged();

 private:
  friend class TvlDBDataController;
  TvlDBDataLink* FDataLink{};
  Boolean FInUpdateGridMode{};
  Boolean FLoading{};
  [[maybe_unused]] Boolean FInNotify{};
  std::vector<TvlDBDataProvider*> FListeners;
  Integer FRecordIndex{-1};
  TvlDBDataProviderSavePosInfo FSavePosInfo;
  // Smart refresh: the stored record being edited on the data set.
  Integer FUpdatingRecordIndex{-1};
  Boolean FUpdatingRecordIsInserting{};
};

// Data-set bookmarks in data-set order (the grid-mode selection).
class TvlBookmarkList : public TObject {
  CL_CLASS(TvlBookmarkList, TObject)
 public:
  void Add(const TBookmark& AItem) { FItems.push_back(AItem); }
  void Insert(Integer AIndex, const TBookmark& AItem);
  void Delete(Integer AIndex);
  void Clear() { FItems.clear(); }
  Integer Count() const { return static_cast<Integer>(FItems.size()); }
  const TBookmark& Items(Integer AIndex) const;

 private:
  void CheckIndex(Integer AIndex, Integer AMax) const;
  std::vector<TBookmark> FItems;
};

class TvlDBDataController : public TvlCustomDataController {
  CL_CLASS(TvlDBDataController, TvlCustomDataController)
 public:
  void Create(TComponent* AOwner) override;
  void Destroy() override;

  TvlDBDataModeController* DataModeController() const { return FDataModeController; }
  TvlDBDataProvider* DBProvider() const;
  TDataSet* DataSet() const;
  TDataSource* DataSource() const;
  void SetDataSource(TDataSource* Value);
  const String& KeyFieldNames() const { return FKeyFieldNames; }
  void SetKeyFieldNames(const String& Value);
  // The data set's RecNo; -1 while it is not active.
  Integer RecNo();
  void SetRecNo(Integer Value);
  Integer DataSetRecordCount();

  // Items bound to data-set fields by name.
  TvlCustomDataField* AddItemForField(TObject* AItem, const String& AFieldName);
  String GetItemFieldName(Integer AItemIndex);
  void ChangeFieldName(Integer AItemIndex, const String& AFieldName);
  TField* GetItemDBField(Integer AItemIndex);
  TField* GetDBFieldOf(TvlCustomDataField* AField);
  // Each bound item takes the value type of its data-set field.
  void BindFieldTypes();
  Integer GetItemByFieldName(const String& AFieldName);

  // Keys.
  void GetKeyDBFields(std::vector<TField*>& AList);
  Variant GetKeyFieldsValues();
  Variant GetRecordId(Integer ARecordIndex);
  Boolean IsKeyNavigation();
  Integer FindRecordIndexByKey(const Variant& AKeyFieldValues);
  Boolean LocateByKey(const Variant& AKeyFieldValues);
  Integer FindCurrentDataSetRecord();
  Boolean LocateDataSetRecord(Integer ARecordIndex);

  Boolean CanFocusRecord(Integer ARecordIndex) override;
  void CheckBrowseMode();
  void RefreshExternalData();
  virtual Integer GetDefaultGridModeBufferCount() { return 100; }
  virtual void GridModeBufferScrolled() { Change(dccLayout); }
  Integer GridModeWindowSize();
  void UpdateGridModeBufferCount();

  // Grid-mode selection: every record of the data set by its bookmark (the
  // row selection of the base outside grid mode); the position is kept.
  void SelectAll();
  TvlBookmarkList* SelectedBookmarks() const { return FBookmarks; }
  TBookmark GetSelectedBookmark(Integer AIndex);
  // Grid mode: the data set goes to the selected bookmark; otherwise the
  // selected row is focused. Answers whether it was.
  Boolean FocusSelectedRow(Integer ASelectedIndex);

  // Reads the whole data set (or, in grid mode, its window) into the storage.
  void LoadFromDataSet();
  // Re-reads the values of one stored record from the data set's current record.
  void ReadCurrentRecord(Integer ARecordIndex);
  // Focuses the stored record of the data set's current record.
  void SyncFocusWithDataSet();
  void RebuildKeyIndex();
  // Smart refresh: the changed record is read again instead of the whole data set.
  void SmartRefreshRecord();

 private:
  friend class TvlDBDataProvider;
  String KeyText(const Variant& AValue) const;
  std::vector<String> KeyNames() const;
  TvlDBDataModeController* FDataModeController{};
  TvlBookmarkList* FBookmarks{};
  String FKeyFieldNames;
  std::unordered_map<TvlCustomDataField*, String> FFieldNames;
  // Key text of each stored record's key to its record index (outside grid mode).
  std::unordered_map<std::u16string, Integer> FKeyIndex;
  [[maybe_unused]] Boolean FInLocate{};
  Boolean FInSync{};
};
