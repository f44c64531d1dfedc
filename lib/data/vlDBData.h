// The data controller bound to a platform data set: the mode settings, the
// provider that reads and moves the data set, and the data link through
// which the data set's open, close, scroll, edit and post reach the
// controller.
#pragma once

#include <unordered_map>
#include <vector>

#include "lib/data/vlDataController.h"
#include "lib/data/vlDBDataFields.h"
#include "platform/db/DB.h"

class TvlDBDataController;
class TvlDBDataProvider;
class TvlDBDataModeController;

using TvlDBDataModeControllerDetailFirstEvent =
    TDelegate<void(TvlDBDataModeController* Sender, TDataSet* ADataSet, const String& AMasterDetailKeyFieldNames,
                   const Variant& AMasterDetailKeyValues, Boolean& AReopened)>;
using TvlDBDataModeControllerDetailIsCurrentQueryEvent =
    TDelegate<Boolean(TvlDBDataModeController* Sender, TDataSet* ADataSet, const String& AMasterDetailKeyFieldNames,
                      const Variant& AMasterDetailKeyValues)>;
using TvlDBDataDetailHasChildrenEvent =
    TDelegate<void(TvlDBDataController* Sender, Integer ARecordIndex, Integer ARelationIndex,
                   const String& AMasterDetailKeyFieldNames, const Variant& AMasterDetailKeyValues,
                   Boolean& HasChildren)>;

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
  Boolean DetailInSyncMode() const { return FDetailInSyncMode; }

  // Master-detail: whether the detail data set already shows the master's
  // key values, and moving (or reopening) it to them.
  virtual Boolean DetailIsCurrentQuery(const String& AMasterDetailKeyFieldNames,
                                       const Variant& AMasterDetailKeyValues);
  virtual void DoDetailFirst(const String& AMasterDetailKeyFieldNames, const Variant& AMasterDetailKeyValues,
                             Boolean& AReopened);
  const TvlDBDataModeControllerDetailFirstEvent& OnDetailFirst() const { return FOnDetailFirst; }
  void SetOnDetailFirst(const TvlDBDataModeControllerDetailFirstEvent& Value) { FOnDetailFirst = Value; }
  const TvlDBDataModeControllerDetailIsCurrentQueryEvent& OnDetailIsCurrentQuery() const {
    return FOnDetailIsCurrentQuery;
  }
  void SetOnDetailIsCurrentQuery(const TvlDBDataModeControllerDetailIsCurrentQueryEvent& Value) {
    FOnDetailIsCurrentQuery = Value;
  }

 private:
  TvlDBDataController* FDataController{};
  Boolean FDetailInSQLMode{};
  Boolean FDetailInSyncMode{true};
  Boolean FGridMode{};
  Integer FGridModeBufferCount{};
  Boolean FSmartRefresh{};
  Boolean FSyncInsert{true};
  Boolean FSyncMode{true};
  TvlDBDataModeControllerDetailFirstEvent FOnDetailFirst;
  TvlDBDataModeControllerDetailIsCurrentQueryEvent FOnDetailIsCurrentQuery;
};

// Data-set fields that the controller itself filled in the record being
// inserted (grouping values, master keys): a record with only these set is
// not modified.
class TvlDBDataAssignedFields : public TObject {
  CL_CLASS(TvlDBDataAssignedFields, TObject)
 public:
  void AddField(TField* AField);
  void AddFieldsByFieldList(const std::vector<TField*>& AList);
  void AddFieldsByFieldNames(TDataSet* ADataSet, const String& AFieldNames);
  void Clear() { FFields.clear(); }
  Boolean IsEmpty() const { return FFields.empty(); }
  Boolean IsFieldExists(TField* AField) const;

 private:
  std::vector<TField*> FFields;
};

// Turns the data set's notifications into provider and controller work.
class TvlDBDataLink : public TDataLink {
  CL_CLASS(TvlDBDataLink, TDataLink)
 public:
  void Create(TvlDBDataProvider* AProvider);
  TvlDBDataProvider* Provider() const { return FProvider; }
  Boolean LayoutChangedFlag() const { return FLayoutChangedFlag; }
  Boolean PreventLayoutChanged() const { return FPreventLayoutChanged; }
  void SetPreventLayoutChanged(Boolean Value) { FPreventLayoutChanged = Value; }
  // Runs the data-set change handling (for a view that skipped one while another loaded).
  void NotifyDataSetChanged() { DataSetChanged(); }

 protected:
  void ActiveChanged() override;
  void DataEvent(TDataEvent Event, NativeInt Info) override;
  void DataSetChanged() override;
  void DataSetScrolled(Integer Distance) override;
  void EditingChanged() override;
  void FocusControl(TField*& Field) override;
  void LayoutChanged() override;
  void RecordChanged(TField* Field) override;
  // A post or a check of the data set: the view's pending editor data first.
  void UpdateData() override;

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
  Boolean DeleteAllowed() override;
  // The data set cannot be modified or is not followed: the storage is edited.
  Boolean IsReadOnly() override { return !CanModify(); }
  Boolean HasFieldStructure() override;
  Boolean IsGridModeUpdating() override { return IsGridMode() && FInUpdateGridMode; }
  // The editing state is the data set's while it is edited through this
  // provider; modified also when the data set's record is.
  Boolean IsEditing() override;
  Boolean IsInserting() override;
  Boolean IsModified() override;
  // Editing goes to the data set while it can be modified, else to the storage.
  void Edit() override;
  void Post(Boolean AForcePost) override;
  void Cancel() override;
  // Through the link (the data set's fields take the editor's data).
  void PostEditingData() override;
  // The link's part: the view's pending editor data, as the base provider writes it.
  void WriteEditingData() { inherited::PostEditingData(); }
  Boolean SetEditValue(Integer ARecordIndex, TvlCustomDataField* AField, const Variant& AValue,
                       TvlDataEditValueSource AEditValueSource) override;
  // The record to focus after a delete gets the focus when it is still there.
  void ResetNearestRecord() override;
  // Grid mode: a window row's value or text, read through the data link.
  Variant GetExternalValue(Integer ARecordIndex, TvlCustomDataField* AField) override;
  String GetExternalDisplayText(Integer ARecordIndex, TvlCustomDataField* AField) override;
  Boolean IsSyncMode() override;
  Boolean IsSmartRefresh();
  Boolean IsUniDirectional();
  // A provider of the same data set that is loading or notifying.
  Boolean IsOtherDataControllerUpdating();
  // The editing record while inserting (the new-item record inside a grid-mode
  // window update with its row focused), else the record the data set stands on.
  Integer GetCurrentRecordIndex() override;

  // Shared data sets: the checks by which providers of one data set keep out
  // of each other's way.
  Boolean IsDataSetBusy();
  // A detail in SQL mode whose data set now shows another master's rows.
  Boolean IsOtherDetailChanged();
  // A detail provider of the same data set is loading.
  Boolean IsDetailDataSetBusy();
  Boolean IsCanInitEditingBusy();
  Boolean IsOtherDetailDataSetInInsert();
  Boolean IsOtherInsert() { return IsOtherDetailDataSetInInsert(); }
  Boolean CanSyncInsert();
  // Detail controllers sharing one detail data set: whose it is now.
  // Setting it clears it on the other detail providers of the data set.
  Boolean IsDataSetCurrent();
  void SetIsDataSetCurrent(Boolean Value);
  Boolean IsNotifying() const { return FInNotify; }
  Boolean PostLocateFlag() const { return FPostLocateFlag; }
  void ClearPostLocateFlag() { FPostLocateFlag = false; }
  // Locating (the base locate count); a pending edit marks the providers of the data set.
  void BeginLocate() override;

  // Editing and deleting on the data set.
  virtual Boolean IsDataSetModified();
  virtual Boolean BookmarkValid(const TBookmark& ABookmark);
  virtual Integer CompareBookmarks(const TBookmark& ABookmark1, const TBookmark& ABookmark2);
  virtual void CancelDataSet();
  virtual void RecordChanged(TField* AField);
  void Append() override;
  void Insert() override;
  void Delete() override;
  void DeleteRecords(const std::vector<Integer>& AList) override;
  void DeleteSelection() override;
  Boolean CanInitEditing(Integer ARecordIndex) override;
  // A value the controller gives a new record (grouping values): marked assigned.
  void AssignValue(TField* AField, const Variant& AValue);
  TvlDBDataAssignedFields* AssignedFields() const { return FAssignedFields; }
  Boolean IsInCanInitEditing() const { return FInCanInitEditing; }
  Boolean IsInInsert() const { return FInInsert; }
  Boolean IsIncrementalSearching() const { return FIncrementalSearching; }
  // Grid mode: incremental search over the data set itself.
  Boolean SearchInGridMode(const String& AText, Boolean AForward, Boolean ANext);
  // The data set's own controls disabled by this provider (not a layout change).
  void DisableDataSetControls();
  void EnableDataSetControls();
  Boolean InOwnDisable() const { return FOwnDisableCount > 0; }
  // Some provider of the data set disabled its controls itself (or loads or locks it).
  Boolean IsDataSetControlsOwnDisabled();
  // Smart refresh bookkeeping.
  Integer UpdatingRecordIndex() const { return FUpdatingRecordIndex; }
  Integer UpdatingPrevFocusedRecordIndex() const { return FUpdatingPrevFocusedRecordIndex; }
  Integer UpdatingNewRecordIndex() const { return FUpdatingNewRecordIndex; }
  void ClearUpdatingBookkeeping();
  // A stored record was deleted: the bookkeeping forgets it.
  void ForgetRecord(Integer ARecordIndex);

  TDataSet* DataSet() const { return FDataLink->DataSet(); }
  TDataSource* DataSource() const { return FDataLink->DataSource(); }
  void SetDataSource(TDataSource* Value);
  TvlDBDataLink* DataLink() const { return FDataLink; }
  TvlDBDataController* DBDataController() const;

  // Grid mode: the window moves past its edge by ADistance.
  void Scroll(Integer ADistance) override;
  void SavePos() override;
  void RestorePos() override;
  // The data set's navigation (a detail outside grid mode ends at its rows).
  Boolean IsBOF() override;
  Boolean IsEOF() override;
  void Prev() override;
  void Next() override;
  void Last() override;
  void MoveBy(Integer ADistance) override;
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
  // The data set is about to close while editing: a modified edit is posted first.
  void DataSetClosing();

  // Master-detail: a detail moves its data set to its master's key values
  // (First) and reads until the detail key values differ (IsDetailEOF).
  void First() override;
  Boolean IsDetailLoad();
  Boolean IsDetailEOF();
  // Every provider, so that controllers sharing a data set see each other.
  static const std::vector<TvlDBDataProvider*>& ProviderList();
  Boolean GetDetailHasChildren(Integer ARecordIndex, Integer ARelationIndex) override;
  // Grouping forces a full load: a change of the effective grid mode re-reads the data.
  void SetLoadAllNeeded(Boolean Value) override;

 private:
  friend class TvlDBDataController;
  friend class TvlDBDataLink;
  template <class F>
  void InsertBracket(F AOperation);
  void StartInsertFromDataSet();
  // Keeps the group values the new record took (the group keys) for the data set.
  void AssignGroupingValues(Integer ARecordIndex, const std::vector<Variant>& AValues) override;
  std::vector<Variant> FInsertGroupValues;
  // Whether this provider starts the insert the data set entered.
  Boolean IsInsertingDetail();
  void MarkPostLocate();
  Boolean FInFirst{};
  TvlDBDataAssignedFields* FAssignedFields{};
  TvlDBDataLink* FDataLink{};
  Boolean FInCanInitEditing{};
  Boolean FInSetDataSource{};
  Boolean FIncrementalSearching{};
  Boolean FInInsert{};
  Boolean FInInserting{};
  Boolean FInsertOperation{};
  Boolean FInUpdateGridMode{};
  Boolean FIsDataSetCurrent{};
  Boolean FInNotify{};
  // The data set changes through this provider (a cancel): smart refresh keeps the records.
  Boolean FInOwnChange{};
  Boolean FLoading{};
  Boolean FPostLocateFlag{};
  Integer FOwnDisableCount{};
  std::vector<TvlDBDataProvider*> FListeners;
  Integer FRecordIndex{-1};
  TvlDBDataProviderSavePosInfo FSavePosInfo;
  // Smart refresh: the stored record being edited or inserted on the data
  // set, whether it was an insert, the stored record appended for an insert
  // through the new-item row, and the focused record when a delete began.
  Integer FUpdatingPrevFocusedRecordIndex{-1};
  Integer FUpdatingRecordIndex{vlNoEditingRecordIndex};
  Boolean FUpdatingRecordIsInserting{};
  Integer FUpdatingNewRecordIndex{-1};
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

// The selection in grid mode: the selected records' bookmarks in data-set
// order beside the base's row entries (which follow the bookmark count).
class TvlDBDataSelection : public TvlDataSelection {
  CL_CLASS(TvlDBDataSelection, TvlDataSelection)
 public:
  void Create(TvlCustomDataController* ADataController) override;
  void Destroy() override;
  void Add(Integer AIndex, Integer ARowIndex, Integer ALevel, Integer ARecordIndex) override;
  void Clear() override;
  void ClearAnchor() override;
  void Delete(Integer AIndex) override;
  Boolean FindByRowIndex(Integer ARowIndex, Integer& AIndex) const override;

  // The data-set bookmark of a window row (empty outside grid mode).
  TBookmark GetRowBookmark(Integer ARowIndex) const;
  // Binary search in data-set order: the position found, or where it belongs.
  Boolean FindBookmark(const TBookmark& ABookmark, Integer& AIndex) const;
  // Drops the anchor and entries whose records left the data set; answers whether any did.
  Boolean CheckBookmarks();
  void SelectAll();
  void SelectFromAnchor(const TBookmark& AToBookmark, Boolean AKeepSelection);
  void SyncCount();
  TvlBookmarkList* Bookmarks() const { return FBookmarks; }
  const TBookmark& AnchorBookmark() const { return FAnchorBookmark; }
  void SetAnchorBookmark(const TBookmark& Value) { FAnchorBookmark = Value; }

 private:
  Boolean InGridMode() const;
  Boolean QuickAdjust(const TBookmark& S, const TBookmark& E, Boolean AAnchorFirst);
  void WalkRange(const TBookmark& S, const TBookmark& E, Boolean AKeepSelection);
  Boolean MaySelect();
  TvlDBDataController* FController{};
  TBookmark FAnchorBookmark;
  TvlBookmarkList* FBookmarks{};
  Boolean FInSelectAll{};
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
  // The internal field bound to the key names (sub-fields for several); nil without keys.
  TvlDBDataField* KeyField() const { return FKeyField; }
  // The data set's RecNo; -1 while it is not active.
  Integer RecNo();
  void SetRecNo(Integer Value);
  Integer DataSetRecordCount();

  // Items bound to data-set fields by name (vlDBDataFields.cpp).
  TvlCustomDataField* AddItemForField(TObject* AItem, const String& AFieldName);
  String GetItemFieldName(Integer AItemIndex);
  void ChangeFieldName(Integer AItemIndex, const String& AFieldName);
  TField* GetItemDBField(Integer AItemIndex);
  TField* GetDBFieldOf(TvlCustomDataField* AField);
  // Binds every field to its data-set field (value types, text storage).
  void BindFieldTypes();
  Integer GetItemByFieldName(const String& AFieldName);
  TvlDBDataField* GetDBItemField(Integer AItemIndex);
  // One name, several names separated by ";" or a lookup's key names (sub-fields).
  void SetFieldName(TvlDBDataField* AField, const String& ANames, Boolean AIsLookupKeys);
  void PrepareField(TvlCustomDataField* AField) override;
  // Binds AField and its sub-fields to their data-set fields.
  void PrepareDBField(TvlDBDataField* AField);
  // An internal field bound to names (relation master keys, summary items):
  // made when missing, freed for empty names.
  void BindInternalField(TvlDBDataField*& AField, const String& ANames);
  Boolean ResetDBFields() const { return FResetDBFields; }
  Boolean InUnboundCopy() const { return FInUnboundCopy; }
  void BeginUnboundCopy() override { FInUnboundCopy = true; }
  void EndUnboundCopy() override { FInUnboundCopy = false; }
  TvlDBDataFilterCriteria* Filter() const;
  TvlCustomDataFieldClass GetFieldClass() override;
  TvlDataFilterCriteriaClass GetFilterCriteriaClass() override;
  TvlDataSummaryItemClass GetSummaryItemClass() override;
  TvlCustomDataRelationClass GetRelationClass() override;
  void RelationsChanged(TvlCustomDataRelation* ARelation) override;
  Variant GetFilterDataValue(Integer ARecordIndex, TvlCustomDataField* AField) override;
  // Lookup and several-name fields group by their sub-fields' values.
  Variant GetGroupValue(Integer ARecordIndex, TvlCustomDataField* AField) override;
  // Fields made of several data-set fields filter by their joined values, not by stored text.
  TvlValueDef* GetFilterTextValueDef(TvlCustomDataField* AField) override;
  String GetFilterItemFieldName(TObject* AItem) override;
  void Assign(TPersistent* Source) override;

  // Master-detail by key field names (vlDBDataDetail.cpp).
  const String& DetailKeyFieldNames() const { return FDetailKeyFieldNames; }
  void SetDetailKeyFieldNames(const String& Value);
  const String& MasterKeyFieldNames() const { return FMasterKeyFieldNames; }
  void SetMasterKeyFieldNames(const String& Value);
  // The detail key names when master key names are set, else empty.
  String GetMasterDetailKeyFieldNames();
  const Variant& MasterDetailKeyValues() const { return FMasterDetailKeyValues; }
  // The data set's fields of the master-detail key names, found on first use
  // while the data set is open; nil when one is missing. Forgotten whenever
  // the data set's fields or the names may have changed.
  TList* MasterDetailKeyFields();
  void ResetMasterDetailKeyFields();
  // The data set's current values of those fields; Unassigned without them.
  Variant MasterDetailKeyValuesOfDataSet();
  // A new record of a detail takes its master's key values (dcoAssignMasterDetailKeys).
  void AssignMasterDetailKeys();
  void SetMasterRelation(TvlCustomDataRelation* AMasterRelation, Integer AMasterRecordIndex) override;
  TvlDBDataRelation* DBMasterRelation() const;
  TvlDBDataController* MasterDBDataController() const;
  Boolean IsDetailClone() { return IsDetailMode() && !IsPattern(); }
  // Moves (or reopens) the detail data set to this detail's master key values.
  void CheckCurrentQuery();
  virtual TvlDBProviderDetailFilterAdapter* GetDetailFilterAdapter();
  // A detail whose data set moved: the master follows; answers the detail
  // controller that shows this level for the master's focused row.
  TvlDBDataController* SyncDetailMasterPos();
  // A pattern whose data set stands on another record than it last saw.
  void SyncPatternMasterPos();
  void SyncMasterPos();
  const TvlDBDataDetailHasChildrenEvent& OnDetailHasChildren() const { return FOnDetailHasChildren; }
  void SetOnDetailHasChildren(const TvlDBDataDetailHasChildrenEvent& Value) { FOnDetailHasChildren = Value; }

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
  void CheckBrowseMode() override;
  // In grid mode the data set walks: the selected bookmarks or every record,
  // each handed over as the focused row.
  void ForEachRow(Boolean ASelectedRows, const TvlDataControllerEachRowProc& AProc) override;
  // A detail's row change first posts the master's pending edit, then its own.
  Boolean CanChangeFocusedRow() override;
  // A detail that focuses a record takes the shared data set.
  void AfterFocusedRecordChange() override;
  // A detail in detail sync mode reopens its data set for its master.
  void SetFocus() override;
  // In grid mode a record is focused before its details expand.
  Boolean DoDetailExpanding(Integer ARecordIndex, Boolean AExpanded) override;
  void RefreshExternalData();
  virtual Integer GetDefaultGridModeBufferCount() { return 100; }
  virtual void GridModeBufferScrolled() { Change(dccLayout); }
  Integer GridModeWindowSize();
  void UpdateGridModeBufferCount();

  // Grid-mode selection by data-set bookmarks (the row selection of the
  // base outside grid mode); the data set's position is kept.
  TvlDataSelectionClass GetSelectionClass() override { return ClassOf<TvlDBDataSelection>(); }
  TvlDBDataSelection* DBSelection() const;
  void SelectAll() override;
  void SetSelectionAnchor(Integer ARowIndex) override;
  void SelectFromAnchor(Integer ARowIndex, Boolean AKeepSelection) override;
  Integer GetSelectedRowIndex(Integer AIndex) const override;
  TvlBookmarkList* SelectedBookmarks() const;
  TBookmark GetSelectedBookmark(Integer AIndex);
  TBookmark GetRowId(Integer ARowIndex);
  TBookmark GetSelectionAnchorBookmark();
  Integer GetSelectionAnchorRowIndex();
  Boolean IsSelectionAnchorExist();
  // Grid mode: the data set goes to the selected bookmark; otherwise the
  // selected row is focused. Answers whether it was.
  Boolean FocusSelectedRow(Integer ASelectedIndex);
  // Grid-mode bookmark (a data-set bookmark); the record bookmark outside it.
  Boolean IsBookmarkAvailable() const override;
  Boolean IsBookmarkRow(Integer ARowIndex) override;
  Boolean SaveBookmarkData() override;
  void ClearBookmarkData() override;
  void GotoBookmarkData() override;
  Boolean IsBookmarkInvalid();
  Boolean SearchInGridMode(const String& AText, Boolean AForward, Boolean ANext) override;

  // Record keys: selection and expanded details survive a reload by key.
  void GetKeyFields(std::vector<TvlCustomDataField*>& AList) override;
  Boolean CanFindRecordsByKey() override;
  void FieldRemoved(TvlCustomDataField* AField) override;
  // Locating the data set (the provider's locate count).
  void BeginLocate() { DBProvider()->BeginLocate(); }
  void EndLocate() { DBProvider()->EndLocate(); }
  // Detail data sets shared by clones.
  virtual void DataSetCurrentChanged(Boolean AValue) {}
  virtual void DoInitInsertingRecord(const std::vector<Variant>& AGroupValues) {}
  Boolean InResetDataSetCurrent() const { return FInResetDataSetCurrent; }
  // The record being edited is read again from the data set's current record.
  void UpdateEditingRecord();
  void DoUpdateRecord(Integer ARecordIndex);

  // Reads the whole data set (or, in grid mode, its window) into the storage.
  void LoadFromDataSet();
  // Re-reads the values of one stored record from the data set's current record.
  void ReadCurrentRecord(Integer ARecordIndex);
  // Focuses the stored record of the data set's current record.
  void SyncFocusWithDataSet();
  // The key index is read again on its next use.
  void RebuildKeyIndex();
  // The records from the stream are indexed anew.
  void LoadFromStream(TStream* AStream) override;
  // Re-reads a stored record from the data set's current record, keeping the key index.
  void ReadKeyedRecord(Integer ARecordIndex);
  // The record bookmark's key before a reload (Empty when none), and the bookmark put back by it.
  Variant BookmarkKey();
  void RestoreBookmarkKey(const Variant& AKey);
  // One key field that the data set numbers itself.
  Boolean IsAutoIncKey();
  // Smart refresh: the changed record is read again instead of the whole data set.
  void SmartRefreshRecord();

 private:
  friend class TvlDBDataProvider;
  String KeyText(const Variant& AValue) const;
  // The key field's leaf fields (one per key name).
  std::vector<TvlDBDataField*> KeyLeaves() const;
  TvlDBDataModeController* FDataModeController{};
  TBookmark FBookmark;
  TvlDBDataField* FKeyField{};
  String FKeyFieldNames;
  String FDetailKeyFieldNames;
  String FMasterKeyFieldNames;
  Variant FMasterDetailKeyValues;
  TList* FMasterDetailKeyFields{};
  Boolean FMasterDetailKeyFieldsFound{};
  Boolean FResetDBFields{};
  Boolean FInUnboundCopy{};
  Boolean FInCheckCurrentQuery{};
  Boolean FUpdateDataSetPos{};
  Boolean FInResetDataSetCurrent{};
  Boolean FInCheckBrowseMode{};
  Boolean FInUpdateGridModeBufferCount{};
  // The pattern's last seen record of the detail data set.
  TBookmark FPatternBookmark;
  TvlDBDataDetailHasChildrenEvent FOnDetailHasChildren;
  // Key text of each stored record's key to its record index (outside grid mode).
  // Built on first use; one key field of whole numbers indexes the numbers.
  std::unordered_map<std::u16string, Integer> FKeyIndex;
  std::unordered_map<Int64, Integer> FIntKeyIndex;
  Boolean FKeyIndexValid{};
  Boolean FIntKeys{};
  void EnsureKeyIndex();
  Integer IndexedRecord(const Variant& AKey);
  // Keeps one stored record's key in the index (AAdd) or takes it out.
  void IndexRecord(Integer ARecordIndex, Boolean AAdd);
  Boolean FInSync{};
};
