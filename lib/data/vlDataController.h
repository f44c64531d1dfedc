// The data controller: the grid-independent model behind a data-aware view.
// It owns the record storage, the fields, the filter, the summaries, the
// provider that feeds records and the info object that turns records into
// rows (filtered, sorted, grouped, expanded, focused, selected). Views learn
// of every change through OnUpdateControl, which carries one update-info
// object per kind of change, in a fixed order, once per released lock.
#pragma once

#include <type_traits>
#include <vector>

#include "lib/data/vlCustomData.h"
#include "lib/data/vlDataUtils.h"
#include "platform/rtl/Exceptions.h"

class TStream;
class TvlCustomDataController;
class TvlCustomDataControllerInfo;
class TvlCustomDataProvider;
class TvlCustomDataSource;
class TvlDataSummary;
class TvlDataSummaryItem;
class TvlDataControllerSearch;
class TvlSaveObject;

// The controller's exception.
RTL_EXCEPTION_CLASS(EvlInvalidDataControllerOperation, Exception);

constexpr Integer vlNoEditingRecordIndex = -2147483647;  // 0x80000001

enum TvlDataSortOrder : Byte { soNone, soAscending, soDescending };
enum TvlDataControllerComparisonMode { dccmSorting, dccmGrouping, dccmOther };
enum TvlDataChange { dcField, dcRecord, dcNew, dcDeleted, dcTotal };

// TvlDataControllerChanges bits.
enum : Word {
  dccLayout = 0x0001, dccData = 0x0002, dccFocus = 0x0004, dccSelection = 0x0008, dccDetail = 0x0010,
  dccSummary = 0x0020, dccSearch = 0x0040, dccSorting = 0x0080, dccGrouping = 0x0100,
  dccSyncMasterPos = 0x0200, dccBookmark = 0x0400, dccUpdateRecord = 0x0800
};
// TvlDataControllerInfoChanges bits.
enum : Word {
  dcicLoad = 0x001, dcicGrouping = 0x002, dcicSorting = 0x004, dcicFocusedRow = 0x008, dcicView = 0x010,
  dcicExpanding = 0x020, dcicResetFocusedRow = 0x040, dcicSelection = 0x080, dcicSummary = 0x100,
  dcicFocusedRecord = 0x200
};
CL_ENUM(TvlDataControllerOption, Byte, dcoAnsiSort, dcoCaseInsensitive, dcoAssignGroupingValues,
        dcoAssignMasterDetailKeys, dcoSaveExpanding, dcoSortByDisplayText, dcoFocusTopRowAfterSorting,
        dcoGroupsAlwaysExpanded, dcoImmediatePost, dcoInsertOnNewItemRowFocusing)
using TvlDataControllerOptions = TSet<TvlDataControllerOption, 2>;
CL_SET_TYPEINFO(TvlDataControllerOptions)
// TvlDataControllerEditState bits.
enum : Byte { dceInsert = 0x01, dceEdit = 0x02, dceChanging = 0x04, dceModified = 0x08 };
// TvlDataControllerEditOperations bits.
enum : Byte { dceoAppend = 0x01, dceoDelete = 0x02, dceoEdit = 0x04, dceoInsert = 0x08, dceoShowEdit = 0x10 };
CL_ENUM(TvlSummaryOption, Byte, soNullIgnore, soSelectedRecords, soMultipleSelectedRecords)
using TvlSummaryOptions = TSet<TvlSummaryOption, 1>;
CL_SET_TYPEINFO(TvlSummaryOptions)

CL_ENUM(TvlSummaryKind, Byte, skNone, skSum, skMin, skMax, skCount, skAverage)
CL_ENUM(TvlSummaryPosition, Byte, spGroup, spFooter)

// --- Update infos -------------------------------------------------------------------------

class TvlUpdateControlInfo : public TObject {
  CL_CLASS(TvlUpdateControlInfo, TObject)
};
class TvlDataChangedInfo : public TvlUpdateControlInfo {
  CL_CLASS(TvlDataChangedInfo, TvlUpdateControlInfo)
 public:
  TvlDataChange Kind{dcTotal};
  Integer ItemIndex{-1};
  Integer RecordIndex{-1};
};
class TvlLayoutChangedInfo : public TvlUpdateControlInfo {
  CL_CLASS(TvlLayoutChangedInfo, TvlUpdateControlInfo)
};
class TvlUpdateRecordInfo : public TvlUpdateControlInfo {
  CL_CLASS(TvlUpdateRecordInfo, TvlUpdateControlInfo)
 public:
  Integer RecordIndex{-1};
};
class TvlFocusedRowChangedInfo : public TvlUpdateControlInfo {
  CL_CLASS(TvlFocusedRowChangedInfo, TvlUpdateControlInfo)
 public:
  Integer FocusedRowIndex{-1};
  Integer PrevFocusedRowIndex{-1};
};
class TvlFocusedRecordChangedInfo : public TvlUpdateControlInfo {
  CL_CLASS(TvlFocusedRecordChangedInfo, TvlUpdateControlInfo)
 public:
  Integer FocusedRecordIndex{-1};
  Integer PrevFocusedRecordIndex{-1};
  Integer FocusedRowIndex{-1};
  Integer PrevFocusedRowIndex{-1};
  Boolean NewItemRowFocusingChanged{};
};
class TvlSelectionChangedInfo : public TvlUpdateControlInfo {
  CL_CLASS(TvlSelectionChangedInfo, TvlUpdateControlInfo)
 public:
  // Row1 when not -1, Row2 when not -1 and not Row1.
  void CreateEx(Integer ARowIndex1, Integer ARowIndex2);
  Integer Count() const { return static_cast<Integer>(FRowIndexes.size()); }
  Integer RowIndexes(Integer I) const { return FRowIndexes[I]; }

 private:
  std::vector<Integer> FRowIndexes;
};
class TvlSearchChangedInfo : public TvlUpdateControlInfo {
  CL_CLASS(TvlSearchChangedInfo, TvlUpdateControlInfo)
};
class TvlBookmarkChangedInfo : public TvlUpdateControlInfo {
  CL_CLASS(TvlBookmarkChangedInfo, TvlUpdateControlInfo)
};
class TvlGroupingChangingInfo : public TvlUpdateControlInfo {
  CL_CLASS(TvlGroupingChangingInfo, TvlUpdateControlInfo)
};

using TvlUpdateControlEvent = TDelegate<void(TvlUpdateControlInfo* AInfo)>;
enum TvlDataControllerDetailMode { dcdmNone, dcdmPattern, dcdmClone };
using TvlDataControllerEachDetailProc = TDelegate<void(TvlCustomDataController* ADataController)>;
struct TvlRowInfo;
using TvlDataControllerEachRowProc = TDelegate<void(Integer ARowIndex, const TvlRowInfo& ARowInfo)>;
using TvlDataControllerNotifyEvent = TDelegate<void(TvlCustomDataController* ADataController)>;
using TvlDataDetailExpandedEvent = TDelegate<void(TvlCustomDataController* ADataController, Integer ARecordIndex)>;
using TvlDataRecordChangedEvent =
    TDelegate<void(TvlCustomDataController* ADataController, Integer ARecordIndex, Integer AItemIndex)>;
using TvlDataDetailExpandingEvent =
    TDelegate<void(TvlCustomDataController* ADataController, Integer ARecordIndex, Boolean& AAllow)>;
using TvlDataFilterRecordEvent =
    TDelegate<void(TvlCustomDataController* ADataController, Integer ARecordIndex, Boolean& Accept)>;
using TvlDataControllerCompareEvent =
    TDelegate<void(TvlCustomDataController* ADataController, Integer ARecordIndex1, Integer ARecordIndex2,
                   Integer AItemIndex, const Variant& V1, const Variant& V2, Integer& Compare)>;

// --- Sorting and grouping field lists ----------------------------------------------------

struct TvlSortingFieldItem {
  TvlCustomDataField* Field{};
  TvlDataSortOrder SortOrder{soNone};
};
using TvlNoParamsEvent = TDelegate<void()>;

class TvlSortingFieldList : public TObject {
  CL_CLASS(TvlSortingFieldList, TObject)
 public:
  virtual void ChangeSorting(TvlCustomDataField* AField, TvlDataSortOrder ASortOrder);
  void Add(TvlCustomDataField* AField, TvlDataSortOrder ASortOrder);
  void Insert(Integer AIndex, TvlCustomDataField* AField, TvlDataSortOrder ASortOrder);
  void Delete(Integer AIndex);
  void Remove(TvlCustomDataField* AField);
  void Move(Integer ACurIndex, Integer ANewIndex);
  void Clear();
  Integer Find(TvlCustomDataField* AField) const;
  Integer SortIndexByField(TvlCustomDataField* AField) const { return Find(AField); }
  TvlDataSortOrder SortOrderByField(TvlCustomDataField* AField) const;
  void AssignSortOrder(Integer AIndex, TvlDataSortOrder ASortOrder);
  void CheckField(TvlCustomDataField* AField);
  void AppendFrom(const TvlSortingFieldList* AList);
  Integer Count() const { return static_cast<Integer>(FItems.size()); }
  TvlSortingFieldItem Items(Integer AIndex) const { return FItems[AIndex]; }
  void SetOnChanged(const TvlNoParamsEvent& Value) { FOnChanged = Value; }

 protected:
  void Changed();

 private:
  std::vector<TvlSortingFieldItem> FItems;
  TvlNoParamsEvent FOnChanged;
};

class TvlGroupingFieldList : public TvlSortingFieldList {
  CL_CLASS(TvlGroupingFieldList, TvlSortingFieldList)
 public:
  void ChangeSorting(TvlCustomDataField* AField, TvlDataSortOrder ASortOrder) override;
  void ChangeGrouping(TvlCustomDataField* AField, Integer AGroupIndex);
  Integer GroupIndexByField(TvlCustomDataField* AField) const { return Find(AField); }
  void UpdateSorting(const TvlSortingFieldList* ASortingList);
};

// --- Group tree ------------------------------------------------------------------------

class TvlDataGroupInfo : public TObject {
  CL_CLASS(TvlDataGroupInfo, TObject)
 public:
  Integer RowIndex{};
  Boolean Expanded{};
  Integer Level{};
  Integer BeginRecordListIndex{};
  Integer EndRecordListIndex{};
  Variant SummaryValues;
};

struct TvlRowInfo {
  Boolean Expanded{};
  Integer Level{};
  Integer RecordIndex{-1};
  Integer RecordListIndex{-1};
};

class TvlDataGroups : public TObject {
  CL_CLASS(TvlDataGroups, TObject)
 public:
  void Destroy() override;
  void Clear();
  void AddField(TvlCustomDataField* AField) { FFields.push_back(AField); }
  TvlDataGroupInfo* Add();
  TvlDataGroupInfo* Items(Integer AIndex) const { return FItems[AIndex]; }
  TvlCustomDataField* Fields(Integer ALevel) const { return FFields[ALevel]; }
  Integer Count() const { return static_cast<Integer>(FItems.size()); }
  Integer LevelCount() const { return static_cast<Integer>(FFields.size()); }
  Integer GetLevel(Integer AIndex) const;
  Integer GetParentIndex(Integer AChildIndex) const;
  Integer GetFirstLevelCount() const;
  Integer GetFirstLevelIndex(Integer AIndex) const;
  Integer GetChildCount(Integer AIndex) const;
  Integer GetChildIndex(Integer AParentIndex, Integer AIndex) const;
  Integer GetDataRecordListIndex(Integer AIndex) const;
  // A group row: its entry; a data row: -1 with AInfo the deepest group.
  Integer FindGroupByRowIndex(Integer ARowIndex, Integer& AInfo) const;
  Integer GetVisibleGroup(Integer AIndex) const;
  Integer FindGroupByRecordListIndex(Integer APosition, Integer ALevel) const;
  // The deepest group whose record range holds the position; -1.
  Integer FindDeepestByRecordListIndex(Integer APosition) const;
  Integer GetIndexByRowIndex(Integer ARowIndex) const { return GetIndexByRowIndexLevel(ARowIndex, -1); }
  Integer GetIndexByRowIndexLevel(Integer ARowIndex, Integer ALevel) const;
  Integer GetRowCount() const;
  // Level, Expanded and RecordListIndex of a row.
  TvlRowInfo GetRowInfo(Integer ARowIndex) const;
  Boolean IsVisible(Integer AIndex) const;
  Boolean MakeVisible(Integer AIndex, Boolean AIncludeSelf);
  Boolean ChangeExpanding(Integer ARowIndex, Boolean AExpanded, Boolean ARecursive);
  void FullExpanding(Boolean AExpanded);
  void Rebuild();

 private:
  std::vector<TvlCustomDataField*> FFields;
  std::vector<TvlDataGroupInfo*> FItems;
};

// Expanded and selected group rows saved by their grouping values.
enum : Byte { eisExpanded = 0x01, eisSelected = 0x02 };
struct TvlDataExpandingInfo {
  Integer Level{};
  Variant Value;
  Byte State{};
};

class TvlDataExpandingInfos : public TObject {
  CL_CLASS(TvlDataExpandingInfos, TObject)
 public:
  void AddField(TvlCustomDataField* AField);
  void Add(Integer ALevel, const Variant& AValue, Byte AState) { FItems.push_back({ALevel, AValue, AState}); }
  Integer FieldCount() const { return static_cast<Integer>(FFields.size()); }
  TvlCustomDataField* Fields(Integer I) const { return FFields[I]; }
  Integer Count() const { return static_cast<Integer>(FItems.size()); }
  const TvlDataExpandingInfo& Items(Integer I) const { return FItems[I]; }
  Boolean Empty() const { return FItems.empty() || FFields.empty(); }
  void ClearFields() { FFields.clear(); }
  void ClearItems() { FItems.clear(); }
  void Clear();
  void CheckField(TvlCustomDataField* AField);
  Byte SaveStates{};

 private:
  std::vector<TvlCustomDataField*> FFields;
  std::vector<TvlDataExpandingInfo> FItems;
};

// --- Focus and selection ---------------------------------------------------------------

class TvlDataFocusingInfo : public TObject {
  CL_CLASS(TvlDataFocusingInfo, TObject)
 public:
  virtual void Create(TvlCustomDataControllerInfo* AInfo);
  void Assign(TvlDataFocusingInfo* ASource);
  void Clear();
  Boolean IsEqual(TvlDataFocusingInfo* AOther) const;
  void ResetToController();
  void UpdateFromRow();

  Boolean ChangedFlag{};
  Integer Level{-1};
  Integer PrevRecordIndex{-1};
  Integer RecordIndex{-1};
  Integer RowIndex{-1};

 private:
  TvlCustomDataControllerInfo* FInfo{};
};

struct TvlSelectionEntry {
  Integer Level{};  // -1 for a group row
  Integer RecordIndex{};  // group entry index for a group row
  Integer RowIndex{};
};

class TvlDataSelection : public TObject {
  CL_CLASS(TvlDataSelection, TObject)
 public:
  virtual void Create(TvlCustomDataController* ADataController);
  // Hooks a descendant follows (the data-set selection keeps bookmarks beside the entries).
  virtual void Add(Integer AIndex, Integer ARowIndex, Integer ALevel, Integer ARecordIndex);
  virtual void Clear();
  void ClearAll();
  virtual void ClearAnchor() { FAnchorRowIndex = -1; }
  virtual void Delete(Integer AIndex);
  virtual Boolean FindByRowIndex(Integer ARowIndex, Integer& AIndex) const;
  Integer FindByRecordIndex(Integer ARecordIndex) const;
  Integer FindByGroupIndex(Integer AGroupIndex) const;
  Boolean IsRecordSelected(Integer ARecordIndex) const { return FindByRecordIndex(ARecordIndex) >= 0; }
  void Sort();
  void RemoveFilteredRecords(TvlCustomDataControllerInfo* AInfo);
  void ResizeEntries(Integer ACount);
  Integer Count() const { return static_cast<Integer>(FItems.size()); }
  TvlSelectionEntry& Items(Integer I) { return FItems[I]; }
  Integer AnchorRowIndex() const { return FAnchorRowIndex; }
  void SetAnchorRowIndex(Integer Value) { FAnchorRowIndex = Value; }
  void Changed();
  void SetOnChanged(const TvlNoParamsEvent& Value) { FOnChanged = Value; }

 private:
  Integer FAnchorRowIndex{-1};
  TvlCustomDataController* FDataController{};
  std::vector<TvlSelectionEntry> FItems;
  TvlNoParamsEvent FOnChanged;
};
using TvlDataSelectionClass = TClassOf<TvlDataSelection>;

// Group rows may be re-ordered by a group summary through an engine that
// the view supplies.
class TvlSortingBySummaryEngine : public TObject {
  CL_CLASS(TvlSortingBySummaryEngine, TObject)
 public:
  virtual void Create(TvlCustomDataControllerInfo* ADataControllerInfo) { FDataControllerInfo = ADataControllerInfo; }
  virtual void Sort();
  TvlCustomDataControllerInfo* DataControllerInfo() const { return FDataControllerInfo; }

 private:
  TvlCustomDataControllerInfo* FDataControllerInfo{};
};
using TvlSortingBySummaryEngineClass = TClassOf<TvlSortingBySummaryEngine>;

// --- The info object: record list, groups, focus, selection, the pipeline ---------------

class TvlCustomDataControllerInfo : public TObject {
  CL_CLASS(TvlCustomDataControllerInfo, TObject)
 public:
  virtual void ValidateSelection();
  virtual void Update();
  virtual void Create(TvlCustomDataController* ADataController);
  void Destroy() override;

  void BeginUpdate() { ++FLockCount; }
  void EndUpdate();
  void CheckChanges();
  Integer LockCount() const { return FLockCount; }
  Boolean InfoCalculation() const { return FInfoCalculation; }

  void Refresh();
  void RefreshFocused();
  void RefreshSummary(Boolean ARedrawOnly);
  void RefreshView();
  void ExpandingChanged();
  void FocusedRecordChanged(Boolean AChangedFlag);
  void RemoveField(TvlCustomDataField* AField);
  void UpdateField(TvlCustomDataField* AField);

  // Record list.
  Integer GetInternalRecordIndex(Integer ARecordListIndex) const { return FRecordList[ARecordListIndex]; }
  Integer FindRecordListIndex(Integer ARecordIndex) const;
  // The record list position of every stored record (-1 when filtered out).
  std::vector<Integer> RecordListPositions() const;
  // The row of a record list position; -1 inside a collapsed or hidden group.
  Integer RowIndexOfRecordListIndex(Integer APosition) const;
  Integer RecordListCount() const { return static_cast<Integer>(FRecordList.size()); }
  void CheckRowIndex(Integer ARowIndex) const;

  // Sorting and grouping.
  void ChangeSorting(TvlCustomDataField* AField, TvlDataSortOrder ASortOrder);
  void ChangeSortIndex(TvlCustomDataField* AField, Integer AIndex);
  void ClearSorting(Boolean AKeepGroupedItems);
  void ChangeGrouping(TvlCustomDataField* AField, Integer AGroupIndex);
  void ClearGrouping();
  Integer CompareRecords(Integer ARecordIndex1, Integer ARecordIndex2);
  Integer CompareGroupRecords(Integer ARecordIndex1, Integer ARecordIndex2, Integer ALevel);
  void PrepareSortingFields();
  void UnprepareSortingFields();
  Boolean IsSortingBySummary();
  Boolean IsGrouped() const { return FDataGroups->Count() > 0; }

  // Expanding.
  void ChangeExpanding(Integer ARowIndex, Boolean AExpanded, Boolean ARecursive);
  void FullCollapse();
  void FullExpand();

  // Rows and focus.
  Integer GetRowCount() const;
  TvlRowInfo GetRowInfo(Integer ARowIndex) const;
  Integer GetRowIndexByRecordIndex(Integer ARecordIndex, Boolean AMakeVisible);
  Integer GetNearestRowIndex(Integer ARowIndex) const;
  Integer FocusedRowIndex() const { return FFocusingInfo->RowIndex; }
  Integer FocusedRecordIndex() const;
  Integer PrevFocusedRowIndex() const { return FPrevFocusingInfo->RowIndex; }
  Integer PrevFocusedRecordIndex() const { return FPrevFocusingInfo->RecordIndex; }
  Boolean NewItemRowFocusingChanged() const { return FPrevFocusingInfo->ChangedFlag; }
  void SetFocusedRowIndex(Integer AValue);
  void ChangeFocusedRow(Integer ARowIndex, Boolean AForce);
  Integer LocateFocusedRow(Boolean AAfterCollapse);
  // Set while the controller is asked whether the focus may move.
  Boolean InCanFocusedRowChanging() const { return FInCanFocusedRowChanging; }
  void CheckFocusedRow();

  // Selection.
  void ChangeRowSelection(Integer ARowIndex, Boolean ASelection);
  void ClearSelection();
  void ClearSelectionAnchor();
  Integer GetSelectedCount() const { return FSelection->Count(); }
  Integer GetSelectedRowIndex(Integer AIndex) const { return FSelection->Items(AIndex).RowIndex; }
  Boolean IsRowSelected(Integer ARowIndex) const;
  void UpdateSelectionRowIndexes();

  TvlCustomDataController* DataController() const { return FDataController; }
  TvlDataGroups* DataGroups() const { return FDataGroups; }
  TvlSortingFieldList* SortingFieldList() const { return FSortingFieldList; }
  TvlGroupingFieldList* GroupingFieldList() const { return FGroupingFieldList; }
  TvlSortingFieldList* TotalSortingFieldList() const { return FTotalSortingFieldList; }
  TvlDataSelection* Selection() const { return FSelection; }
  TvlDataFocusingInfo* FocusingInfo() const { return FFocusingInfo; }
  TvlDataFocusingInfo* PrevFocusingInfo() const { return FPrevFocusingInfo; }
  Word Changes() const { return FChanges; }
  std::vector<Integer>& RecordList() { return FRecordList; }

 private:
  friend class TvlDataFocusingInfo;
  void GroupingChanged();
  void SortingChanged();
  void SelectionChanged();
  void CreateRecordList();
  void FilterRecordList();
  void SortRecordList();
  void BuildGroups();
  void CheckFocusTopRowAfterSorting();
  void RestoreAndCheckFocus();
  void SaveExpanding();
  void RestoreExpanding();
  void RemapSelectionGrouped();
  void RemapSelectionUngrouped();
  void SortGroupsBySummary();
  void NotifyChanges();
  void RefocusAfterCollapse();
  Integer LocateGroupRecord(const std::vector<Variant>& APath, Integer ALevel);
  Integer CompareByLevel(Integer A, Integer B, Integer ALevel);

  struct TvlSortKeys;
  TvlSortKeys* FSortKeys{};

  Word FChanges{};
  TvlCustomDataController* FDataController{};
  TvlDataGroups* FDataGroups{};
  TvlDataExpandingInfos* FExpandingInfo{};
  Boolean FExpandingFlag{};
  Boolean FFocusingFlag{};
  TvlDataFocusingInfo* FFocusingInfo{};
  TvlGroupingFieldList* FGroupingFieldList{};
  Boolean FInCanFocusedRowChanging{};
  Boolean FInfoCalculation{};
  Integer FLockCount{};
  TvlDataFocusingInfo* FPrevFocusingInfo{};
  std::vector<Integer> FRecordList;
  TvlDataSelection* FSelection{};
  TvlSortingFieldList* FSortingFieldList{};
  TvlSortingFieldList* FTotalSortingFieldList{};
};

// --- Summaries -----------------------------------------------------------------------

class TvlDataSummaryItem;
class TvlDataSummaryItems;
class TvlDataGroupSummaryItems;
class TvlDataSummaryGroup;
class TvlDataSummaryGroups;

// The type that chooses a default format.
enum TvlSummaryValueType { svtFloat, svtCurrency, svtDate };

// What a summary item aggregates (the field of its item link), how and with
// which format. The base of the summary items and of the summary groups'
// item links.
class TvlCustomDataSummaryItem : public TCollectionItem {
  CL_CLASS(TvlCustomDataSummaryItem, TCollectionItem)
 public:
  virtual void CopySettings(TvlCustomDataSummaryItem* ASource);
  virtual TvlCustomDataController* OwningDataController();
  // The item's format, else the collection's default for the value type.
  virtual String ChooseValueFormat(TvlSummaryValueType AValueType, const Variant& AValue, Boolean AIsFooter);
  virtual Boolean IsCurrency(Integer AVarType);
  // Before the item binds AField (nil: unbinds).
  virtual void DataFieldChanging(TvlCustomDataField* AField) {}
  virtual String FormatValue(const Variant& AValue, Boolean AIsFooter);
  void Assign(TPersistent* Source) override;

  // The item (the view's column) whose field is aggregated; nil when none.
  TObject* ItemLink() const;
  void SetItemLink(TObject* Value);
  // Binds a field directly (nil unbinds), as SetItemLink does.
  void SetDataFieldLink(TvlCustomDataField* AField);
  TvlCustomDataField* Field() const { return FField; }
  TvlSummaryKind Kind() const { return FKind; }
  void SetKind(TvlSummaryKind Value);
  const String& Format() const { return FFormat; }
  void SetFormat(const String& Value);
  TvlCustomDataController* DataController() { return OwningDataController(); }

 private:
  TvlCustomDataField* FField{};
  String FFormat;
  TvlSummaryKind FKind{skNone};
};

using TvlDataSummaryItemGetTextEvent =
    TDelegate<void(TvlDataSummaryItem* Sender, const Variant& AValue, Boolean AIsFooter, String& AText)>;

class TvlDataSummaryItem : public TvlCustomDataSummaryItem {
  CL_CLASS(TvlDataSummaryItem, TvlCustomDataSummaryItem)
 public:
  void CopySettings(TvlCustomDataSummaryItem* ASource) override;
  String FormatValue(const Variant& AValue, Boolean AIsFooter) override;
  // Bound to a field, or a count (which counts records, in a footer too).
  virtual Boolean IsCalculated();
  virtual Boolean PositionNeedsStoring();
  virtual TvlCustomDataField* DataField() { return Field(); }
  void Destroy() override;
  void Assign(TPersistent* Source) override;

  TvlSummaryPosition Position();
  void SetPosition(TvlSummaryPosition Value);
  Boolean Sorted() const { return FSorted; }
  void SetSorted(Boolean Value);
  Integer Tag() const { return FTag; }
  void SetTag(Integer Value) { FTag = Value; }
  const TvlDataSummaryItemGetTextEvent& OnGetText() const { return FOnGetText; }
  void SetOnGetText(const TvlDataSummaryItemGetTextEvent& Value) { FOnGetText = Value; }
  TvlDataSummaryItems* SummaryItems() const;

 private:
  friend class TvlDataSummaryItems;
  TvlSummaryPosition FPosition{spGroup};
  Boolean FSorted{};
  Integer FTag{};
  TvlDataSummaryItemGetTextEvent FOnGetText;
};
using TvlDataSummaryItemClass = TClassOf<TvlDataSummaryItem>;

// The arguments of OnSummary: one record's value for one item.
struct TvlSummaryEventArguments {
  Integer RecordIndex{};
  TvlDataSummaryItem* SummaryItem{};
};
struct TvlSummaryEventOutArguments {
  Variant Value;
  Variant SummaryValue;
  Integer CountValue{};
  Boolean Done{};
};
using TvlSummaryEvent = TDelegate<void(TvlDataSummaryItems* ASender, const TvlSummaryEventArguments& Arguments,
                                       TvlSummaryEventOutArguments& OutArguments)>;

class TvlDataSummaryItems : public TvlCollection {
  CL_CLASS(TvlDataSummaryItems, TvlCollection)
 public:
  void Update(TCollectionItem* Item) override;
  virtual void PrepareSortedChange(TvlDataSummaryItem* AItem, Boolean AValue) {}
  virtual TvlSummaryPosition PositionOfItem(TvlDataSummaryItem* AItem);
  virtual Boolean PositionNeedsStoring(TvlDataSummaryItem* AItem);
  virtual Boolean AreSettingsEmpty(const String& AFormat, Boolean ASorted, TvlSummaryKind AKind);
  virtual void Create(TvlDataSummary* ASummary, TvlDataSummaryItemClass AItemClass);
  virtual void AssignEvents(TvlDataSummaryItems* ASource);
  virtual String DefaultFormat(TvlSummaryValueType AValueType, TvlSummaryKind AKind, Boolean AIsFooter);
  virtual String GetGroupText(const Variant& ASummaryValues) { return u""; }
  virtual TvlDataSummaryItem* GetDataItem(Integer AItemIndex, TvlSummaryPosition APosition, Boolean ACheckKind = false,
                                          TvlSummaryKind AKind = skNone);
  void Assign(TPersistent* Source) override;
  TPersistent* GetOwner() override;

  TvlDataSummaryItem* Add() { return static_cast<TvlDataSummaryItem*>(TCollection::Add()); }
  TvlDataSummaryItem* Add(TObject* AItemLink, TvlSummaryPosition APosition, TvlSummaryKind AKind,
                          const String& AFormat = u"");
  // Summary items link items, not fields.
  template <class TField>
    requires std::is_base_of_v<TvlCustomDataField, TField>
  TvlDataSummaryItem* Add(TField*, TvlSummaryPosition, TvlSummaryKind, const String& = u"") = delete;
  void DeleteItems(TObject* AItemLink, TvlSummaryPosition APosition);
  TvlDataSummaryItem* FindByTag(Integer ATag) const;
  Integer IndexOf(const TvlDataSummaryItem* AItem) const;
  Integer IndexOfItemLink(TObject* AItemLink) const;
  TvlDataSummaryItem* ItemOfItemLink(TObject* AItemLink) const;
  Integer IndexByField(TvlCustomDataField* AField) const;
  TvlDataSummaryItem* ItemByField(TvlCustomDataField* AField) const;
  String DataItemFormat(Integer AItemIndex, TvlSummaryPosition APosition);
  TvlSummaryKind DataItemKind(Integer AItemIndex, TvlSummaryPosition APosition);
  Boolean DataItemSorted(Integer AItemIndex, TvlSummaryPosition APosition);
  void SetDataItemFormat(Integer AItemIndex, TvlSummaryPosition APosition, const String& Value);
  void SetDataItemKind(Integer AItemIndex, TvlSummaryPosition APosition, TvlSummaryKind Value);
  void SetDataItemSorted(Integer AItemIndex, TvlSummaryPosition APosition, Boolean Value);
  void NotifyRedraw();
  // Unbinds the items bound to AField; True when one was.
  Boolean RemoveField(TvlCustomDataField* AField);
  TvlDataSummaryItem* Items(Integer I) const { return static_cast<TvlDataSummaryItem*>(TCollection::Items(I)); }
  TvlDataSummary* Summary() const { return FSummary; }
  TvlCustomDataController* DataController() const;
  const TvlSummaryEvent& OnSummary() const { return FOnSummary; }
  void SetOnSummary(const TvlSummaryEvent& Value) { FOnSummary = Value; }

 private:
  // The item for the data item, made or freed to suit the setting.
  template <class TSet>
  void SetDataItemSetting(Integer AItemIndex, TvlSummaryPosition APosition, Boolean AEmpty, TSet ASet);
  TvlDataSummary* FSummary{};
  TvlSummaryEvent FOnSummary;
};

// Footer items: always in the footer.
class TvlDataFooterSummaryItems : public TvlDataSummaryItems {
  CL_CLASS(TvlDataFooterSummaryItems, TvlDataSummaryItems)
 public:
  TvlSummaryPosition PositionOfItem(TvlDataSummaryItem*) override { return spFooter; }
  Boolean PositionNeedsStoring(TvlDataSummaryItem*) override { return false; }
};

// Group items: the default ones of the summary or those of a summary group.
class TvlDataGroupSummaryItems : public TvlDataSummaryItems {
  CL_CLASS(TvlDataGroupSummaryItems, TvlDataSummaryItems)
 public:
  void PrepareSortedChange(TvlDataSummaryItem* AItem, Boolean AValue) override;
  String GetGroupText(const Variant& ASummaryValues) override;
  void Create(TvlDataSummary* ASummary, TvlDataSummaryItemClass AItemClass) override;
  void Assign(TPersistent* Source) override;
  TPersistent* GetOwner() override;
  // The item bound to the controller's forced sorting-by-summary item, else
  // the first sorted item, else nil.
  TvlDataSummaryItem* SortedSummaryItem();
  const String& BeginText() const { return FBeginText; }
  void SetBeginText(const String& Value);
  const String& EndText() const { return FEndText; }
  void SetEndText(const String& Value);
  const String& Separator() const { return FSeparator; }
  void SetSeparator(const String& Value);
  Boolean IsBeginTextStored() { return FBeginText != u"("; }
  Boolean IsEndTextStored() { return FEndText != u")"; }
  Boolean IsSeparatorStored() { return FSeparator != u","; }

 private:
  friend class TvlDataSummaryGroup;
  String FBeginText;
  String FEndText;
  String FSeparator;
  TPersistent* FOwner{};
};

// A link of a summary group to a grouping item (only its field is used).
class TvlDataSummaryGroupItemLink : public TvlCustomDataSummaryItem {
  CL_CLASS(TvlDataSummaryGroupItemLink, TvlCustomDataSummaryItem)
 public:
  TvlCustomDataController* OwningDataController() override;
  // A grouping item belongs to at most one summary group.
  void DataFieldChanging(TvlCustomDataField* AField) override;
  TvlDataSummaryGroup* SummaryGroup() const;
};
using TvlDataSummaryGroupItemLinkClass = TClassOf<TvlDataSummaryGroupItemLink>;

class TvlDataSummaryGroupItemLinks : public TCollection {
  CL_CLASS(TvlDataSummaryGroupItemLinks, TCollection)
 public:
  virtual void Create(TvlDataSummaryGroup* ASummaryGroup, TvlDataSummaryGroupItemLinkClass AItemClass);
  void Update(TCollectionItem* Item) override;
  TPersistent* GetOwner() override;
  TvlDataSummaryGroupItemLink* Add() { return static_cast<TvlDataSummaryGroupItemLink*>(TCollection::Add()); }
  Integer IndexOfItemLink(TObject* AItemLink) const;
  TvlDataSummaryGroupItemLink* ItemOfItemLink(TObject* AItemLink) const;
  Integer IndexByField(TvlCustomDataField* AField) const;
  TvlDataSummaryGroupItemLink* ItemByField(TvlCustomDataField* AField) const;
  TvlDataSummaryGroupItemLink* Items(Integer I) const {
    return static_cast<TvlDataSummaryGroupItemLink*>(TCollection::Items(I));
  }
  TvlDataSummaryGroup* SummaryGroup() const { return FSummaryGroup; }

 private:
  TvlDataSummaryGroup* FSummaryGroup{};
};

// Group summary items for the grouping items that the links name.
class TvlDataSummaryGroup : public TCollectionItem {
  CL_CLASS(TvlDataSummaryGroup, TCollectionItem)
 public:
  void Create(TCollection* Collection) override;
  void Destroy() override;
  void Assign(TPersistent* Source) override;
  // Created on first use.
  TvlDataSummaryGroupItemLinks* Links();
  void SetLinks(TvlDataSummaryGroupItemLinks* Value) { Links()->Assign(Value); }
  // Nil until Links was first used.
  TvlDataSummaryGroupItemLinks* ExistingLinks() const { return FItemLinks; }
  TvlDataGroupSummaryItems* SummaryItems() const { return FSummaryItems; }
  void SetSummaryItems(TvlDataGroupSummaryItems* Value) { FSummaryItems->Assign(Value); }
  TvlDataSummaryGroups* SummaryGroups() const;

 private:
  TvlDataSummaryGroupItemLinks* FItemLinks{};
  TvlDataGroupSummaryItems* FSummaryItems{};
};

class TvlDataSummaryGroups : public TvlCollection {
  CL_CLASS(TvlDataSummaryGroups, TvlCollection)
 public:
  virtual void Create(TvlDataSummary* ASummary);
  void Update(TCollectionItem* Item) override;
  TPersistent* GetOwner() override;
  TvlDataSummaryGroup* Add() { return static_cast<TvlDataSummaryGroup*>(TCollection::Add()); }
  // The first group whose links contain the item; nil.
  TvlDataSummaryGroup* FindByItemLink(TObject* AItemLink) const;
  // The first group whose links contain the field; nil.
  TvlDataSummaryGroup* FindByField(TvlCustomDataField* AField) const;
  TvlDataSummaryGroup* Items(Integer I) const { return static_cast<TvlDataSummaryGroup*>(TCollection::Items(I)); }
  TvlDataSummary* Summary() const { return FSummary; }

 private:
  TvlDataSummary* FSummary{};
};

using TvlAfterSummaryEvent = TDelegate<void(TObject* ASender)>;

class TvlDataSummary : public TPersistent {
  CL_CLASS(TvlDataSummary, TPersistent)
 public:
  virtual void Create(TvlCustomDataController* ADataController);
  void Destroy() override;
  void Assign(TPersistent* Source) override;
  virtual void AssignEvents(TvlDataSummary* ASource);
  void BeginUpdate();
  void EndUpdate();
  void CancelUpdate();
  void Changed(Boolean ARedrawOnly);
  void Recalculate() { Changed(false); }
  void BeginCalculate();
  void EndCalculate();
  void Calculate();
  void CalculateFooterSummary();
  void CalculateGroupSummary();
  Variant FooterSummaryValues(Integer AIndex) const;
  String FooterSummaryTexts(Integer AIndex) const;
  TvlDataGroupSummaryItems* GetGroupSummaryItemsByLevel(Integer ALevel) const;
  Boolean GetGroupSummaryInfo(Integer ARowIndex, TvlDataSummaryItems*& AItems, Variant*& AValues);
  String GroupSummaryText(Integer ARowIndex);
  String GroupFooterSummaryTexts(Integer ARowIndex, Integer ALevel, Integer AIndex);
  // The collection of APatternSummary that corresponds to AItems of this one.
  TvlDataSummaryItems* GetPatternSummaryItems(TvlDataSummary* APatternSummary, TvlDataSummaryItems* AItems);
  void RemoveItemByField(TvlCustomDataField* AField);

  TvlDataFooterSummaryItems* FooterSummaryItems() const { return FFooterSummaryItems; }
  TvlDataGroupSummaryItems* DefaultGroupSummaryItems() const { return FDefaultGroupSummaryItems; }
  TvlDataSummaryGroups* SummaryGroups() const { return FSummaryGroups; }
  void SetDefaultGroupSummaryItems(TvlDataGroupSummaryItems* Value) { FDefaultGroupSummaryItems->Assign(Value); }
  void SetFooterSummaryItems(TvlDataFooterSummaryItems* Value) { FFooterSummaryItems->Assign(Value); }
  void SetSummaryGroups(TvlDataSummaryGroups* Value) { FSummaryGroups->Assign(Value); }
  TvlSummaryOptions Options() const { return FOptions; }
  void SetOptions(TvlSummaryOptions Value);
  // Whether the summaries follow the selection (either selected-records option).
  Boolean FollowsSelection() const {
    return FOptions.Contains(soSelectedRecords) || FOptions.Contains(soMultipleSelectedRecords);
  }
  TvlCustomDataController* DataController() const { return FDataController; }
  const TvlAfterSummaryEvent& OnAfterSummary() const { return FOnAfterSummary; }
  void SetOnAfterSummary(const TvlAfterSummaryEvent& Value) { FOnAfterSummary = Value; }
  Boolean Destroying() const { return FDestroying; }
  // While set the values are supplied from outside: no calculation runs.
  Boolean SetCustomSummary() const { return FSetCustomSummary; }
  void SetSetCustomSummary(Boolean Value) { FSetCustomSummary = Value; }

 private:
  Integer GetRecordIndex(Integer ARecordListIndex);
  // Accumulators of one group or footer; float fields add plain doubles.
  struct TAccumulators;
  void InitValues(TvlDataSummaryItems* AItems, TAccumulators& A);
  void AccumulateRecords(TvlDataSummaryItems* AItems, Integer AFirst, Integer ALast, TAccumulators& A);
  Boolean AccumulatePlain(TvlDataSummaryItems* AItems, Integer AFirst, Integer ALast, TAccumulators& A);
  Variant FinishValues(TvlDataSummaryItems* AItems, TAccumulators& A);
  void DoAfterSummary();

  TvlCustomDataController* FDataController{};
  TvlDataGroupSummaryItems* FDefaultGroupSummaryItems{};
  Boolean FDestroying{};
  TvlDataFooterSummaryItems* FFooterSummaryItems{};
  Variant FFooterSummaryValues;
  Boolean FInAfterSummary{};
  Integer FLockCount{};
  TvlSummaryOptions FOptions;
  Boolean FSetCustomSummary{};
  TvlDataSummaryGroups* FSummaryGroups{};
  TvlAfterSummaryEvent FOnAfterSummary;
  // The group summaries' column arrays, kept for the next calculation.
  TAccumulators* FGroupAccumulators{};
};

// --- Provider and custom data source ------------------------------------------------------

class TvlCustomDataSource : public TObject {
  CL_CLASS(TvlCustomDataSource, TObject)
 public:
  using TRecordHandle = intptr_t;
  virtual TRecordHandle AppendRecord();
  // Sorts the source's own records (when IsCustomSorting); nothing here.
  virtual void CustomSort() {}
  virtual void DeleteRecord(TRecordHandle AHandle);
  // The controller's item ID of the item.
  virtual Integer GetDefaultItemID(Integer AItemIndex);
  // Whether the record has detail rows for the relation (none here).
  virtual Boolean GetDetailHasChildren(Integer ARecordIndex, Integer ARelationIndex) { return false; }
  virtual String GetDisplayText(TRecordHandle AHandle, Integer AItemHandle);
  // With IsCompareInfoSupported: PValue points at the record's value as the
  // item's value type compares it (the value itself for numbers, the String
  // for texts); False for a Null. Raises here.
  virtual Boolean GetInfoForCompare(TRecordHandle AHandle, Integer AItemHandle, const void*& PValue);
  virtual Integer GetItemHandle(Integer AItemIndex);
  virtual Integer GetRecordCount();
  virtual Variant GetRecordId(TRecordHandle AHandle);
  virtual TRecordHandle GetRecordHandle(Integer ARecordIndex);
  virtual Variant GetValue(TRecordHandle AHandle, Integer AItemHandle);
  virtual TRecordHandle InsertRecord(TRecordHandle AHandle);
  virtual Boolean IsCustomSorting() { return false; }
  // The source gives compare information (GetInfoForCompare) of its values.
  virtual Boolean IsCompareInfoSupported() { return false; }
  // The source compares two of its records itself (CompareRecords).
  virtual Boolean IsCompareRecordsSupported() { return false; }
  virtual Boolean IsRecordIdSupported() { return false; }
  virtual Integer CompareRecords(TRecordHandle AHandle1, TRecordHandle AHandle2, Integer AItemHandle) { return 0; }
  virtual void SetRecordCount(Integer ACount);
  virtual void SetValue(TRecordHandle AHandle, Integer AItemHandle, const Variant& AValue);
  virtual void LoadRecordHandles();
  void Destroy() override;

  // The provider reports a total change: the controller reloads.
  void DataChanged();
  TRecordHandle GetRecordHandleByIndex(Integer ARecordIndex);
  Integer GetRecordIndexByHandle(TRecordHandle AHandle);
  Integer AppendHandleRecord(TRecordHandle AHandle);
  // The provider asking now (set before every call), else the default one
  // (the first attached). A pattern and its clones share one source.
  TvlCustomDataProvider* Provider() const { return FCurrentProvider ? FCurrentProvider : FProvider; }
  TvlCustomDataController* DataController() const;
  Integer ProviderCount() const { return static_cast<Integer>(FProviders.size()); }

 private:
  friend class TvlCustomDataProvider;
  void AttachProvider(TvlCustomDataProvider* AProvider);
  void DetachProvider(TvlCustomDataProvider* AProvider);
  TvlCustomDataProvider* FCurrentProvider{};
  TvlCustomDataProvider* FProvider{};
  std::vector<TvlCustomDataProvider*> FProviders;
};

class TvlCustomDataProvider : public TObject {
  CL_CLASS(TvlCustomDataProvider, TObject)
 public:
  // The custom data source sorts its records itself.
  virtual void CustomSort();
  virtual Boolean IsCustomSorting();
  virtual Boolean IsGridMode() { return false; }
  virtual Boolean IsActiveDataSet() { return false; }
  virtual Boolean IsRecordIdSupported();
  // Whether the provider follows a data set's current record.
  virtual Boolean IsSyncMode() { return false; }
  // The record the focus stands on as the source sees it; -1 when the source has none.
  virtual Integer GetCurrentRecordIndex() { return -1; }
  virtual Boolean IsActive() { return FCustomDataSource != nullptr; }
  virtual Boolean CanModify() { return true; }
  virtual Boolean IsReadOnly() { return !CanModify(); }
  virtual Boolean HasFieldStructure() { return false; }
  virtual Boolean IsGridModeUpdating() { return false; }
  // Navigation and position of the source (a data set); the controller
  // hands its navigation here in grid mode. Nothing to move by default.
  // Writes the view's pending editor data: the controller's UpdateData while changing.
  virtual void PostEditingData();
  virtual Boolean IsBOF() { return true; }
  virtual Boolean IsEOF() { return true; }
  virtual void First() {}
  virtual void Prev() {}
  virtual void Next() {}
  virtual void Last() {}
  virtual void MoveBy(Integer ADistance) {}
  virtual void Scroll(Integer ADistance) {}
  virtual void SavePos() {}
  virtual void RestorePos() {}
  virtual Boolean AppendAllowed() { return CanModify(); }
  virtual Boolean InsertAllowed() { return CanModify(); }
  virtual Boolean DeleteAllowed();
  virtual void Append() { DoInsert(true); }
  virtual void Insert() { DoInsert(false); }
  virtual void Edit() { DoEdit(); }
  virtual void Cancel();
  virtual void Post(Boolean AForcePost);
  virtual void Delete();
  virtual void DeleteRecords(const std::vector<Integer>& AList);
  virtual void DeleteSelection();
  virtual Boolean CanInitEditing(Integer ARecordIndex);
  virtual Variant GetEditValue(Integer ARecordIndex, TvlCustomDataField* AField,
                               TvlDataEditValueSource AEditValueSource);
  virtual Boolean SetEditValue(Integer ARecordIndex, TvlCustomDataField* AField, const Variant& AValue,
                               TvlDataEditValueSource AEditValueSource);
  virtual void FindNearestRecord();
  // Forgets the record to focus after a delete (-1).
  virtual void ResetNearestRecord();
  // Provider mode: the data source compares two stored records of the field.
  virtual Integer CustomCompare(Integer ARecordIndex1, Integer ARecordIndex2, TvlCustomDataField* AField);
  // Provider mode: two records of the field by compare information (the
  // storage's for internal records, the data source's for stored ones).
  virtual Integer CompareRecords(Integer ARecordIndex1, Integer ARecordIndex2, TvlCustomDataField* AField);
  // A display text written by the controller in provider mode; nothing here.
  virtual void SetDisplayText(Integer ARecordIndex, TvlCustomDataField* AField, const String& AText) {}
  // Asked once per record and relation until the cached answers are reset.
  virtual Boolean GetDetailHasChildren(Integer ARecordIndex, Integer ARelationIndex);
  // Grid mode: values of the records the provider holds outside the storage.
  virtual Variant GetExternalValue(Integer ARecordIndex, TvlCustomDataField* AField) { return Null(); }
  virtual String GetExternalDisplayText(Integer ARecordIndex, TvlCustomDataField* AField) { return u""; }
  virtual void DataChanged(TvlDataChange AKind, Integer AItemIndex, Integer ARecordIndex);
  virtual void Create(TvlCustomDataController* ADataController);
  void Destroy() override;

  void SetCustomDataSource(TvlCustomDataSource* ADataSource);
  TvlCustomDataSource* CustomDataSource() const { return FCustomDataSource; }
  // The source with this provider made its current one (before a call).
  TvlCustomDataSource* CurrentDataSource() const;
  void SaveEditedRecord(Integer ARecordIndex);
  void DiscardSavedRecord();
  void ResetEditing();
  void ResetModified() { FModified = false; }
  void BeginChange() { FChanging = true; }
  void EndChange() { FChanging = false; }
  void MarkModified() { FModified = true; }
  void LockDataChanges() { ++FLockCount; }
  void UnlockDataChanges() { --FLockCount; }
  void EnterLocating() { ++FLocateCount; }
  void LeaveLocating() { --FLocateCount; }
  // The locate count as the controller's grid-mode notify lock brackets it.
  virtual void BeginLocate() { EnterLocating(); }
  virtual void EndLocate() { LeaveLocating(); }
  // The editing state as the source sees it; a data-set provider answers
  // the data set's state. The bookkeeping below is the provider's own record.
  virtual Boolean IsEditing() { return HasEditingRecord(); }
  virtual Boolean IsInserting() { return IsInsertingRecord(); }
  virtual Boolean IsModified() { return FModified; }
  Boolean HasEditingRecord() const { return FEditingRecordIndex != vlNoEditingRecordIndex; }
  Boolean IsInsertingRecord() const { return HasEditingRecord() && FInserting; }
  Boolean IsChanging() const { return FChanging; }
  Boolean IsLocating() const { return FLocateCount > 0; }
  Integer LockCount() const { return FLockCount; }
  Integer EditingRecordIndex() const { return FEditingRecordIndex; }
  Integer EditingRecordIndex1() const { return FEditingRecordIndex1; }
  Integer EditingRecordIndex2() const { return FEditingRecordIndex2; }
  Integer SavedRecordIndex() const { return FSavedRecordIndex; }
  // The storage dropped its internal records: the saved copy is gone.
  void ForgetSavedRecord() { FSavedRecordIndex = 0; }
  // The record appended by the last post from the new-item row, -1 when none.
  Integer InsertedRecordIndex() const { return FInsertedRecordIndex; }
  void ResetInsertedRecordIndex() { FInsertedRecordIndex = -1; }
  Boolean LoadAllNeeded() const { return FLoadAllNeeded; }
  // Set at the start of every pipeline run (whether grouping needs all records).
  virtual void SetLoadAllNeeded(Boolean Value) { FLoadAllNeeded = Value; }
  TvlCustomDataController* DataController() const { return FDataController; }

 protected:
  void DoEdit();
  void DoInsert(Boolean AAppend);
  virtual void AssignGroupingValues(Integer ARecordIndex, const std::vector<Variant>& AValues);

 private:
  Boolean FChanging{};
  TvlCustomDataSource* FCustomDataSource{};
  TvlCustomDataController* FDataController{};
  Integer FEditingRecordIndex{vlNoEditingRecordIndex};
  Integer FEditingRecordIndex1{vlNoEditingRecordIndex};
  Integer FEditingRecordIndex2{vlNoEditingRecordIndex};
  Integer FLocateCount{};
  Integer FLockCount{};
  Boolean FModified{};
  Integer FSavedRecordIndex{};
  Integer FInsertedRecordIndex{-1};
  Boolean FDataChangedLocked{};
  Boolean FInserting{};
  Boolean FLoadAllNeeded{};
};
using TvlCustomDataProviderClass = TClassOf<TvlCustomDataProvider>;

// --- Incremental search --------------------------------------------------------------

class TvlDataControllerSearch : public TObject {
  CL_CLASS(TvlDataControllerSearch, TObject)
 public:
  virtual void FocusRecordListIndex(Integer AIndex);
  virtual Integer DoSearch(Integer AStartIndex, Integer AEndIndex, Boolean AForward, const String& AText);
  virtual void Create(TvlCustomDataController* ADataController);
  virtual Boolean Locate(Integer AItemIndex, const String& ASubText);
  virtual Boolean LocateNext(Boolean AForward);
  void Cancel();
  void Lock() { FLocked = true; }
  void Unlock() { FLocked = false; }
  Integer ItemIndex() const;
  void SetItemIndex(Integer Value);
  Boolean Searching() const;
  String SearchText() const;

 private:
  TvlCustomDataController* FDataController{};
  Boolean FLocked{};
};

// --- The controller's grouping face --------------------------------------------------

class TvlDataControllerGroups : public TObject {
  CL_CLASS(TvlDataControllerGroups, TObject)
 public:
  virtual void Create(TvlCustomDataController* ADataController) { FDataController = ADataController; }
  void ChangeExpanding(Integer ARowIndex, Boolean AExpanded, Boolean ARecursive);
  void FullCollapse();
  void FullExpand();
  void ChangeGrouping(Integer AItemIndex, Integer AGroupIndex);
  void ClearGrouping();
  Integer GroupingItemCount() const;
  Integer ItemOfGroupingLevel(Integer AIndex) const;
  Integer GetItemGroupIndex(Integer AItemIndex) const;
  Integer GroupIndexOfRow(Integer ARowIndex) const;
  Integer GetLevel(Integer ADataGroupIndex) const;
  Integer GetChildCount(Integer ADataGroupIndex) const;
  Integer GetChildDataGroupIndex(Integer ADataGroupIndex, Integer AIndex) const;
  Integer GetRecordIndexOfChild(Integer ADataGroupIndex, Integer AIndex) const;
  Integer GetFirstRecordOfGroup(Integer ADataGroupIndex) const;
  Variant GetGroupValue(Integer ADataGroupIndex) const;
  Integer GetDataGroupIndexByGroupValue(Integer AParentDataGroupIndex, const Variant& AValue) const;
  Boolean HasAsParent(Integer ARowIndex, Integer AParentRowIndex) const;
  void LoadRecordIndexes(std::vector<Integer>& AList, Integer ADataGroupIndex) const;
  TvlCustomDataController* DataController() const { return FDataController; }

 private:
  TvlCustomDataControllerInfo* Info() const;
  TvlCustomDataController* FDataController{};
};

// --- The controller -----------------------------------------------------------------

using TvlDataFilterCriteriaClass = TClassOf<TvlDataFilterCriteria>;
using TvlDataSummaryItemClass = TClassOf<TvlDataSummaryItem>;

// A weak reference to a controller held by a running operation: Ref becomes
// nil when the controller is destroyed meanwhile.
struct TvlDataListenerLink {
  TvlCustomDataController* Ref{};
};

class TvlCustomDataController : public TPersistent, public IvlDataController {
  CL_CLASS(TvlCustomDataController, TPersistent)
 public:
  virtual void Create(TComponent* AOwner);
  void BeforeDestruction() override;
  void Destroy() override;
  // Options, the filter (ignoring item names), the summary and the handlers
  // of another controller; OnUpdateControl belongs to the view and stays.
  void Assign(TPersistent* Source) override;

  // Items (the view's columns) and their fields.
  virtual TObject* GetItem(Integer AIndex);
  virtual TvlCustomDataField* AddItem(TObject* AItem);
  // The classes of the item fields and the filter.
  virtual TvlCustomDataFieldClass GetFieldClass() { return ClassOf<TvlCustomDataField>(); }
  virtual TvlDataFilterCriteriaClass GetFilterCriteriaClass() { return ClassOf<TvlDataFilterCriteria>(); }
  void RemoveItem(TObject* AItem);
  Integer GetItemCount() { return FFields->ItemCount(); }
  TvlCustomDataField* GetItemField(Integer AItemIndex);
  void ChangeValueTypeClass(Integer AItemIndex, TvlValueTypeClass AValueTypeClass);
  TvlValueTypeClass GetItemValueTypeClass(Integer AItemIndex);
  void CheckItemRange(Integer AItemIndex);
  // Fields of the class GetFieldClass; an internal one belongs to no item.
  TvlCustomDataField* AddField();
  TvlCustomDataField* AddInternalField();
  // Refreshes when AItemIndex is -1 or the item is sorted or grouped.
  Boolean ItemPropertiesChanged(Integer AItemIndex);
  virtual Boolean GetItemNeedConversion(Integer AItemIndex) { return false; }
  void ChangeNeedConversion(Integer AItemIndex, Boolean Value);
  Boolean GetItemTextStored(Integer AItemIndex);
  void ChangeTextStored(Integer AItemIndex, Boolean Value);
  virtual Boolean IsDisplayFormatDefined(Integer AItemIndex, Boolean AIgnoreSimpleCurrency) {
    return GetItemTextStored(AItemIndex);
  }
  virtual void ItemValueTypeClassChanged(Integer AItemIndex) {}
  // Each item's field takes the item's index.
  void UpdateItemIndexes();
  // The item with the same ID as AItem; nil.
  TObject* GetItemByItemID(TObject* AItem);
  // An extra filter of this controller (changes there never refilter).
  TvlDataFilterCriteria* CreateFilter();
  // From the provider: the source opened or closed.
  void ActiveChanged(Boolean AActive);
  Boolean Active() const { return FActive; }

  // Locks and notifications.
  void BeginUpdate() override;
  void EndUpdate() override;
  virtual void BeginFullUpdate() { BeginUpdate(); }
  virtual void EndFullUpdate() { EndUpdate(); }
  Integer LockCount() const;
  void Change(Word AChanges);
  void CheckChanges();
  // Run whenever the update lock is released, before pending changes go out; empty here.
  virtual void BeforeNotifyControl() {}
  virtual void DataChanged(TvlDataChange ADataChange, Integer AItemIndex, Integer ARecordIndex);
  void Refresh();
  Boolean IsRowInfoValid() const;

  // Records and values.
  Integer RecordCount() override { return FDataStorage->RecordCount(); }
  void SetRecordCount(Integer Value);
  Integer AppendRecord();
  Integer InsertRecord(Integer ARecordIndex);
  void DeleteRecord(Integer ARecordIndex);
  Variant GetValue(Integer ARecordIndex, Integer AItemIndex);
  void SetValue(Integer ARecordIndex, Integer AItemIndex, const Variant& Value);
  String GetDisplayText(Integer ARecordIndex, Integer AItemIndex);
  // The display text of a text-stored item (ignored in grid mode and without a value definition).
  void SetDisplayText(Integer ARecordIndex, Integer AItemIndex, const String& Value);
  Variant GetRowValue(const TvlRowInfo& ARowInfo, Integer AItemIndex);
  void CheckRecordIndex(Integer ARecordIndex) override;

  // Rows, focus, navigation.
  Integer GetRowCount() const;
  TvlRowInfo GetRowInfo(Integer ARowIndex) const;
  Integer GetRowIndexByRecordIndex(Integer ARecordIndex, Boolean AMakeVisible);
  Integer FocusedRowIndex() const;
  void SetFocusedRowIndex(Integer Value) { ChangeFocusedRowIndex(Value); }
  Integer FocusedRecordIndex() const;
  void SetFocusedRecordIndex(Integer Value) { ChangeFocusedRecordIndex(Value); }
  // The focused record: the provider's current record while it follows an open data set.
  Integer GetSyncFocusedRecordIndex();
  Boolean ChangeFocusedRowIndex(Integer ARowIndex);
  Boolean ChangeFocusedRecordIndex(Integer ARecordIndex);
  // Whether a focus move also focuses the focused record's details (the view answers); False here.
  virtual Boolean IsDetailsFocusSynchronized() { return false; }
  void GotoFirst();
  void GotoLast();
  void GotoNext();
  void GotoPrev();
  void MoveBy(Integer ADistance);
  Boolean IsBOF() const;
  Boolean IsEOF() const;
  void SaveBookmark();
  void ClearBookmark();
  void GotoBookmark();
  virtual Boolean IsBookmarkAvailable() const { return FBookmarkRecordIndex != -1; }
  virtual Boolean IsBookmarkRow(Integer ARowIndex);
  // The bookmark's own data: saving answers whether it changed.
  virtual Boolean SaveBookmarkData();
  virtual void ClearBookmarkData() { FBookmarkRecordIndex = -1; }
  virtual void GotoBookmarkData() { ChangeFocusedRecordIndex(FBookmarkRecordIndex); }
  Integer BookmarkRecordIndex() const { return FBookmarkRecordIndex; }
  void SetBookmarkRecordIndex(Integer Value) { FBookmarkRecordIndex = Value; }
  void CheckBookmarkValid(Integer ARecordIndex);
  virtual Boolean CanFocusRecord(Integer ARecordIndex);
  // Weak references: the link stays valid after the controller is gone
  // (Ref nil); the holder hands it back with RemoveListenerLink when Ref is
  // still set, and frees it.
  TvlDataListenerLink* AddListenerLink();
  void RemoveListenerLink(TvlDataListenerLink* ALink);
  // The value a record gives its group of AField; a data-set controller
  // answers the keys of lookup and several-name fields.
  virtual Variant GetGroupValue(Integer ARecordIndex, TvlCustomDataField* AField) {
    return GetValue(ARecordIndex, AField);
  }
  // One value per grouping item, Null for a record out of range.
  void GetGroupValues(Integer ARecordIndex, std::vector<Variant>& AValues);
  // AProc for each selected row in selection order (ASelectedRows), else for every row.
  virtual void ForEachRow(Boolean ASelectedRows, const TvlDataControllerEachRowProc& AProc);
  // Counts LockGridModeNotifyCount around the provider's locate count.
  void LockGridModeNotify();
  void UnlockGridModeNotify();
  Integer LockGridModeNotifyCount() const { return FLockGridModeNotifyCount; }
  // Asked before the focused row of a synchronised provider moves; True here.
  virtual Boolean CanChangeFocusedRow() { return true; }
  // Run by the info object after the focused record moved; empty here.
  virtual void AfterFocusedRecordChange() {}
  // Posts or cancels a pending edit of a data set; nothing here.
  virtual void CheckBrowseMode() {}
  // The provider writes the view's pending editor data (UpdateData while changing).
  void PostEditingData();
  // The view writes its pending editor text into the record; nothing here.
  virtual void UpdateData() {}
  // The source asks for the editor of an item (a data-set field's FocusControl); ADone when it took it.
  virtual void FocusControl(Integer AItemIndex, Boolean& ADone) {}
  // CheckBrowseMode on every existing detail controller; True.
  virtual Boolean CheckDetailsBrowseMode();
  // The view took the focus; nothing here.
  virtual void SetFocus() {}

  // Sorting, grouping, expanding.
  void ChangeSorting(Integer AItemIndex, TvlDataSortOrder ASortOrder);
  void ClearSorting(Boolean AKeepGroupedItems);
  TvlDataSortOrder GetItemSortOrder(Integer AItemIndex);
  void ChangeGrouping(Integer AItemIndex, Integer AGroupIndex);
  void ClearGrouping();
  Integer GroupingItemCount() const;
  void ChangeExpanding(Integer ARowIndex, Boolean AExpanded, Boolean ARecursive);
  void FullCollapse();
  void FullExpand();
  virtual Integer CompareByField(Integer ARecordIndex1, Integer ARecordIndex2, TvlCustomDataField* AField,
                                 TvlDataControllerComparisonMode AMode);
  virtual Integer CompareRecordIndexes(Integer ARecordIndex1, Integer ARecordIndex2) {
    return ARecordIndex1 - ARecordIndex2;
  }
  virtual Boolean NeedsValueComparison(TvlCustomDataField* AField);
  virtual Boolean NeedsAnsiConversion(TvlCustomDataField* AField);
  virtual Boolean IsSortByDisplayText(TvlCustomDataField* AField) { return false; }
  Variant GetComparedValue(Integer ARecordIndex, TvlCustomDataField* AField);
  virtual TvlSortingBySummaryEngineClass GetSortingBySummaryEngineClass() { return nullptr; }
  Integer SortingBySummaryDataItemIndex() const { return FSortingBySummaryDataItemIndex; }
  void SetSortingBySummaryDataItemIndex(Integer Value);

  // Selection.
  Boolean MultiSelect() const { return FMultiSelect; }
  void SetMultiSelect(Boolean Value);
  Integer GetSelectedCount() const;
  virtual Integer GetSelectedRowIndex(Integer AIndex) const;
  Boolean IsRowSelected(Integer ARowIndex) const;
  void ChangeRowSelection(Integer ARowIndex, Boolean ASelection);
  void SelectRows(Integer AStart, Integer AEnd);
  virtual void SelectAll();
  void ClearSelection();
  virtual void SetSelectionAnchor(Integer ARowIndex);
  virtual void SelectFromAnchor(Integer ARowIndex, Boolean AKeepSelection);
  virtual TvlDataSelectionClass GetSelectionClass() { return ClassOf<TvlDataSelection>(); }
  void SyncSelected(Boolean ASelected);
  void SyncSelectionFocusedRecord();
  void CheckFocusedSelected();
  void RefreshPrevSelectionInfo();

  // Editing.
  Byte EditState() { return CurrentEditState(); }
  virtual Byte CurrentEditState();
  // dceoAppend .. dceoShowEdit: what the provider allows.
  Byte EditOperations() { return AllowedEditOperations(); }
  virtual Byte AllowedEditOperations();
  // What an edit value of the item means; the view answers (evsText here).
  virtual TvlDataEditValueSource GetItemValueSource(Integer AItemIndex) { return evsText; }
  Boolean IsEditing();
  Integer EditingRecordIndex();
  virtual Integer GetActiveRecordIndex();
  void Append();
  void Insert();
  void Edit();
  void Post(Boolean AForcePost = false) override;
  void Cancel();
  Boolean CanInitEditing(Integer AItemIndex);
  Variant GetEditValue(Integer AItemIndex, TvlDataEditValueSource AEditValueSource = evsValue);
  Boolean SetEditValue(Integer AItemIndex, const Variant& AValue, TvlDataEditValueSource AEditValueSource = evsValue);
  void DeleteFocused();
  void DeleteSelection();
  void DeleteRecordList(std::vector<Integer> AList);
  void FocusNearestRecord();
  void CopyRecordValues(Integer AFromRecordIndex, Integer AToRecordIndex);
  void CheckEditingRecord(Integer ARecordIndex);
  virtual void PostPendingEdit();
  // Also when the provider cannot modify its source: edits stay in the storage and post at once.
  Boolean IsImmediatePost() const { return FOptions.Contains(dcoImmediatePost) || FProvider->IsReadOnly(); }

  // Master-detail.
  TvlCustomDataRelationList* Relations() override;
  Boolean GetDetailExpanding(Integer ARecordIndex);
  Integer GetDetailActiveRelationIndex(Integer ARecordIndex);
  void ChangeDetailActiveRelationIndex(Integer ARecordIndex, Integer ARelationIndex);
  Boolean IsCreatingLinkObject() const { return FCreatingLinkObject; }
  Boolean ChangeDetailExpanding(Integer ARecordIndex, Boolean AExpanded);
  // Fires OnDetailExpanding or OnDetailCollapsing (allowed by default); whether to go on.
  virtual Boolean DoDetailExpanding(Integer ARecordIndex, Boolean AExpanded);
  TObject* GetDetailLinkObject(Integer ARecordIndex, Integer ARelationIndex);
  virtual TObject* CreateDetailLinkObject(TvlCustomDataRelation* ARelation, Integer ARecordIndex);
  Boolean GetDetailHasChildren(Integer ARecordIndex, Integer ARelationIndex);
  void ResetHasChildrenFlag();
  Integer MasterRecordIndex() const { return FMasterRecordIndex; }
  TvlCustomDataRelation* MasterRelation() const { return FMasterRelation; }
  Boolean IsDetailMode() const { return FMasterRelation != nullptr; }
  void RecordInserted(Integer ARecordIndex);
  void RecordDeleted(Integer ARecordIndex);
  // Detail modes, walks and focus.
  TvlDataControllerDetailMode DetailMode();
  TvlCustomDataController* GetMasterDataController() const;
  TvlCustomDataController* GetRootDataController();
  // Itself without a master relation, else the pattern found from the root.
  TvlCustomDataController* GetPatternDataController();
  TvlCustomDataController* GetDetailDataController(Integer ARecordIndex, Integer ARelationIndex);
  Boolean IsDetailDataControllerExist(Integer ARecordIndex, Integer ARelationIndex);
  // The detail controller whose link object exists (none is created).
  TvlCustomDataController* ExistingDetailDataController(Integer ARecordIndex, Integer ARelationIndex);
  void ClearDetailLinkObject(Integer ARecordIndex, Integer ARelationIndex);
  void CollapseDetails();
  void FocusDetails(Integer ARecordIndex);
  // AProc for every existing detail controller of AMasterRelation, from the root down.
  void ForEachDetail(TvlCustomDataRelation* AMasterRelation, const TvlDataControllerEachDetailProc& AProc);
  void ResetRelationByItem(TObject* AItem);
  // While references are held a pattern works as a normal controller.
  void AddDataChangeRefCount();
  void RemoveDataChangeRefCount();
  Integer DataChangeRefCount() const { return FDataChangeRefCount; }
  TvlCustomDataController* CreatingDataController() const { return FCreatingDataController; }

  // Record keys: expanded details and selection kept across reloads.
  // The key fields (none here: a record's key is its data-source id).
  virtual void GetKeyFields(std::vector<TvlCustomDataField*>& AList) {}
  // Null or the data-source id without key fields, a field's value with
  // one, a variant array of the values with several.
  Variant GetRecordKeyValue(Integer ARecordIndex, const std::vector<TvlCustomDataField*>& AKeyFields);
  // Whether records can be found again by key (provider mode here).
  virtual Boolean CanFindRecordsByKey() { return IsProviderMode(); }
  // Counted: the first save begins a full update, the matching last
  // restore restores the saved state and ends it.
  void SaveKeys();
  void RestoreKeys();
  // Around values copied into an internal record (empty here).
  virtual void BeginUnboundCopy() {}
  virtual void EndUnboundCopy() {}

  // Stream, incremental filter and search.
  void SaveToStream(TStream* AStream);
  // Replaces the records (overridable: a controller keeping an index of its records renews it).
  virtual void LoadFromStream(TStream* AStream);
  Integer SetIncrementalFilter(Integer AItemIndex, const String& AText);
  void ResetIncrementalFilter();
  Boolean IsIncrementalFilter() const { return FIncrementalFilterField && !FIncrementalFilterText.empty(); }
  Boolean IsIncrementalFilterMatch(Integer ARecordIndex);
  Integer FindRecordIndexByText(Integer AStartRecordIndex, Integer AItemIndex, const String& AText,
                                Boolean APartialCompare, Boolean ACircular, Boolean AForward);
  virtual String GetSearchDisplayText(Integer ARecordIndex, Integer AItemIndex) {
    return GetDisplayText(ARecordIndex, AItemIndex);
  }
  TvlDataControllerSearch* Search() const { return FSearch; }
  // Grid mode: the search walks the data source itself (none here).
  virtual Boolean SearchInGridMode(const String& AText, Boolean AForward, Boolean ANext) { return false; }

  // Provider mode.
  TvlCustomDataSource* CustomDataSource() const;
  void SetCustomDataSource(TvlCustomDataSource* Value);
  void RebuildData();
  // The internal field that holds each record's data-source handle (provider
  // mode only; the relations' detail objects have an internal field too).
  TvlCustomDataField* RecordHandlesField() const { return FRecordHandlesField; }
  virtual void LoadStorage();
  // lckStructure 0x01, lckData 0x02.
  virtual void LayoutChanged(Byte AChanges);
  void UpdateItems(Boolean AUpdateFields);
  Boolean NeedsStructureUpdate() { return IsProviderMode() || FStructureRecreated; }
  // Prepares every field (binds it to its source); fields destroyed on the
  // way restart the pass over the unprepared ones.
  void UpdateFields();
  virtual void PrepareField(TvlCustomDataField* AField) {}
  void BeginUpdateFields() { ++FLockUpdateFieldsCount; }
  void EndUpdateFields();
  void UpdateFocused();

  // Hooks and events.
  virtual Boolean DoFilterRecord(Integer ARecordIndex);
  Boolean HasFilterRecordHandler() const { return Assigned(FOnFilterRecord); }

  // IvlDataController.
  TvlDataStorage* DataStorage() override { return FDataStorage; }
  TvlCustomDataFieldList* Fields() override { return FFields; }
  TvlDataControllerNotifier* Notifier() override { return FNotifier; }
  Boolean IsProviderMode() override;
  void FieldRemoved(TvlCustomDataField* AField) override;
  void ProviderLayoutChanged() override;
  Variant GetValue(Integer ARecordIndex, TvlCustomDataField* AField) override;
  String GetDisplayText(Integer ARecordIndex, TvlCustomDataField* AField) override;
  Variant GetFilterDataValue(Integer ARecordIndex, TvlCustomDataField* AField) override;
  // The stored definition whose values GetFilterDataValue gives for the
  // field, unchanged, for every record; nil when it gives anything else. A
  // descendant that overrides GetFilterDataValue or GetValue answers nil for
  // the fields whose values it changes.
  virtual TvlValueDef* GetFilterValueDef(TvlCustomDataField* AField);
  // The same when it holds texts: the filter then matches LIKE conditions on
  // the stored texts.
  TvlValueDef* GetFilterTextValueDef(TvlCustomDataField* AField);
  // Number definitions of GetFilterValueDef: their order keys are read
  // straight from the record buffers.
  Boolean GetFilterNumberKeys(TvlCustomDataField* AField, Boolean AFiltered, TvlKeyArray& AKeys,
                              TvlIndexArray& ARecords, Boolean& ABlanks) override;
  String GetFilterItemFieldCaption(TObject* AItem) override { return u""; }
  String GetFilterItemFieldName(TObject* AItem) override { return GetFilterItemFieldCaption(AItem); }
  String GetFilterValueDisplayText(Integer ARecordIndex, Integer AItemIndex) override {
    return GetDisplayText(ARecordIndex, AItemIndex);
  }
  Integer GetItemID(TObject* AItem) override { return -1; }
  String GetItemName(TObject* AItem) override;
  TObject* GetItemByID(Integer AID) override;
  TObject* GetItemByName(const String& AName) override;
  Boolean IsGridMode() override;
  Boolean IsOwnerDestroying() override;
  Boolean IsOwnerLoading() override;
  Boolean IsActiveDataSet() override;
  Boolean IsItemSortByText(Integer AItemIndex) override;
  Integer FilteredRecordCount() override;
  Integer GetRecordListRecordIndex(Integer AIndex) override;
  void FilterChanged() override;
  TvlDataFilterList* ExtraFilters() override { return FFilters; }
  TvlCustomDataRelationClass GetRelationClass() override;
  // Classes of the summary items and of the summary groups' item links.
  virtual TvlDataSummaryItemClass GetSummaryItemClass();
  virtual TvlDataSummaryGroupItemLinkClass GetSummaryGroupItemLinkClass();
  IvlDataController* PatternController() override { return GetPatternDataController(); }
  Integer DefaultActiveRelationIndex() override { return 0; }
  void ClearDetails() override;
  void RelationsChanged(TvlCustomDataRelation* ARelation) override;
  IvlDataController* GetDetailDataControllerByLinkObject(TObject* ALinkObject) override { return nullptr; }
  Boolean IsPattern() override;
  void SetIsPattern(Boolean Value);
  void SetMasterMode(TvlCustomDataRelation* AMasterRelation, Boolean AIsPattern) override;
  void SetMasterRelation(TvlCustomDataRelation* AMasterRelation, Integer AMasterRecordIndex) override;

  // State read by the info object.
  TvlCustomDataControllerInfo* DataControllerInfo() const { return FDataControllerInfo; }
  TvlCustomDataProvider* Provider() const { return FProvider; }
  TvlDataFilterCriteria* Filter() const { return FFilter; }
  TvlDataSummary* Summary() const { return FSummary; }
  TvlDataControllerGroups* Groups() const { return FGroups; }
  TvlDataControllerOptions Options() const { return FOptions; }
  void SetOptions(TvlDataControllerOptions Value);
  TComponent* Owner() const { return FOwner; }
  Boolean GroupingChangedFlag{};
  Boolean SortingChangedFlag{};
  Boolean FilterChangedFlag{};
  Boolean SortingBySummaryChangedFlag{};
  Boolean CheckFocusingAfterFilterNeeded{};
  Boolean LoadedStorageFlag{};
  Boolean AfterSummaryFlag{};
  Boolean InNotifyControl() const { return FInNotifyControl; }
  Boolean InDeleteSelection() const { return FInDeleteSelection; }
  Integer NearestRecordIndex{-1};
  Boolean IncrementalSearching{};
  String IncrementalSearchText;
  TvlCustomDataField* IncrementalSearchField{};
  // The new-item row: an internal (negative) record edited before it becomes a stored one.
  // NewItemRecordIndex creates that record on first use.
  Integer NewItemRecordIndex();
  Boolean IsNewItemRecord(Integer ARecordIndex) const {
    return FUseNewItemRowForEditing && FNewItemRecordIndex != 0 && ARecordIndex == FNewItemRecordIndex;
  }
  Boolean NewItemRowFocused() const;
  void SetNewItemRowFocused(Boolean Value);
  // Moves the focus to or from the new-item row without the insert-on-focusing option.
  void FocusNewItemRow(Boolean Value);
  Boolean UseNewItemRowForEditing() const { return FUseNewItemRowForEditing; }
  void SetUseNewItemRowForEditing(Boolean Value);
  // The stored flag, whatever the focused record (the info object clears it).
  Boolean NewItemRowFocusedFlag() const { return FNewItemRowFocused; }
  void ClearNewItemRowFocused() { FNewItemRowFocused = false; }
  void SendGroupingChanging();

  const TvlUpdateControlEvent& OnUpdateControl() const { return FOnUpdateControl; }
  void SetOnUpdateControl(const TvlUpdateControlEvent& Value) { FOnUpdateControl = Value; }
  void SetOnFilterRecord(const TvlDataFilterRecordEvent& Value);
  void SetOnSortingChanged(const TNotifyEvent& Value) { FOnSortingChanged = Value; }
  void SetOnGroupingChanged(const TNotifyEvent& Value) { FOnGroupingChanged = Value; }
  // Listeners get Event(Self) after each data change, in list order.
  void AddDataChangedListener(TObject* AInstance, const TNotifyEvent& ADataChangedEvent);
  void RemoveDataChangedListener(TObject* AInstance, const TNotifyEvent& ADataChangedEvent);
  void LockDataChangedNotify() { ++FDataChangedLockCount; }
  void UnlockDataChangedNotify() { --FDataChangedLockCount; }
  Boolean DataChangedNotifyLocked() const { return FDataChangedLockCount != 0; }
  // After the owner was read: the data change and summary event held back.
  void Loaded();
  void SetOnCompare(const TvlDataControllerCompareEvent& Value) { FOnCompare = Value; }
  const TvlDataControllerCompareEvent& OnCompareEvent() const { return FOnCompare; }
  void SetOnDataChanged(const TNotifyEvent& Value) { FOnDataChanged = Value; }
  void SetOnDetailExpanding(const TvlDataDetailExpandingEvent& Value) { FOnDetailExpanding = Value; }
  void SetOnDetailCollapsing(const TvlDataDetailExpandingEvent& Value) { FOnDetailCollapsing = Value; }
  void SetOnDetailExpanded(const TvlDataDetailExpandedEvent& Value) { FOnDetailExpanded = Value; }
  void SetOnDetailCollapsed(const TvlDataDetailExpandedEvent& Value) { FOnDetailCollapsed = Value; }
  void SetOnBeforePost(const TvlDataControllerNotifyEvent& Value) { FOnBeforePost = Value; }
  void SetOnAfterPost(const TvlDataControllerNotifyEvent& Value) { FOnAfterPost = Value; }
  void SetOnAfterCancel(const TvlDataControllerNotifyEvent& Value) { FOnAfterCancel = Value; }
  void SetOnAfterInsert(const TvlDataControllerNotifyEvent& Value) { FOnAfterInsert = Value; }
  void SetOnNewRecord(const TvlDataDetailExpandedEvent& Value) { FOnNewRecord = Value; }
  void SetOnBeforeDelete(const TvlDataDetailExpandedEvent& Value) { FOnBeforeDelete = Value; }
  void SetOnAfterDelete(const TvlDataControllerNotifyEvent& Value) { FOnAfterDelete = Value; }
  void SetOnBeforeCancel(const TvlDataControllerNotifyEvent& Value) { FOnBeforeCancel = Value; }
  void SetOnBeforeInsert(const TvlDataControllerNotifyEvent& Value) { FOnBeforeInsert = Value; }
  void SetOnRecordChanged(const TvlDataRecordChangedEvent& Value) { FOnRecordChanged = Value; }
  void DoAfterDelete() { if (Assigned(FOnAfterDelete)) FOnAfterDelete(this); }
  void DoBeforeCancel() { if (Assigned(FOnBeforeCancel)) FOnBeforeCancel(this); }
  void DoBeforeInsert() { if (Assigned(FOnBeforeInsert)) FOnBeforeInsert(this); }
  void DoBeforePost() { if (Assigned(FOnBeforePost)) FOnBeforePost(this); }
  void DoAfterPost() { if (Assigned(FOnAfterPost)) FOnAfterPost(this); }
  void DoAfterCancel() { if (Assigned(FOnAfterCancel)) FOnAfterCancel(this); }
  void DoAfterInsert() { if (Assigned(FOnAfterInsert)) FOnAfterInsert(this); }
  void DoNewRecord(Integer ARecordIndex) { if (Assigned(FOnNewRecord)) FOnNewRecord(this, ARecordIndex); }
  void DoBeforeDelete(Integer ARecordIndex) { if (Assigned(FOnBeforeDelete)) FOnBeforeDelete(this, ARecordIndex); }

 protected:
  virtual void DoUpdateControl(TvlUpdateControlInfo* AInfo);
  void NotifyControl();
  void SendInfo(TvlUpdateControlInfo* AInfo);
  void DoDataChanged();
  void ResetDataChangeInfo();
  // The storage dropped its internal records (saved copy, new-item record).
  void ClearInternalRecords(TObject* Sender);
  void UpdateStructure(Boolean AUpdateFields);
  void CopyStateFrom(TvlCustomDataController* ASource);
  // A descendant's own provider takes the place of the default one (at creation).
  void ReplaceProvider(TvlCustomDataProvider* AProvider);
  // Set while a focus move focuses the details of the focused record.
  Boolean FInFocusDetails{};
  // The record a focus move goes to after ending a pending insert moved the
  // records under it; focused when the lock is released (-1 when none).
  Integer FRefocusRecordIndex{-1};

 private:
  Boolean FActive{};
  Integer FBookmarkRecordIndex{-1};
  Word FChanges{};
  TvlCustomDataControllerInfo* FDataControllerInfo{};
  TvlDataStorage* FDataStorage{};
  Boolean FDestroying{};
  TvlCustomDataFieldList* FFields{};
  TvlDataControllerGroups* FGroups{};
  TvlDataFilterCriteria* FFilter{};
  TvlDataFilterList* FFilters{};
  Boolean FFocusedSelected{true};
  TvlCustomDataField* FIncrementalFilterField{};
  String FIncrementalFilterText;
  Boolean FInCancel{};
  Boolean FInDeleteSelection{};
  Boolean FInNotifyControl{};
  Boolean FInOnSortingChanged{};
  Boolean FIsDetailExpanding{};
  Boolean FIsPattern{};
  Boolean FIsPatternSave{};
  Integer FDataChangeRefCount{};
  Boolean FCreatingLinkObject{};
  Boolean FRecreatingLinkObject{};
  TvlCustomDataController* FCreatingDataController{};
  TvlSaveObject* FSaveObject{};
  Integer FSaveKeysCount{};
  Integer FMasterRecordIndex{-1};
  TvlCustomDataRelation* FMasterRelation{};
  Boolean FMultiSelect{};
  TvlDataControllerNotifier* FNotifier{};
  Boolean FNewItemRowFocused{};
  Integer FNewItemRecordIndex{};
  Boolean FUseNewItemRowForEditing{};
  TvlDataControllerOptions FOptions;
  TComponent* FOwner{};
  Integer FPrevSelCount{};
  Integer FPrevSelRow{-1};
  TvlCustomDataProvider* FProvider{};
  TvlCustomDataField* FRecordHandlesField{};
  TvlCustomDataRelationList* FRelations{};
  TvlDataControllerSearch* FSearch{};
  Integer FSortingBySummaryDataItemIndex{-1};
  TvlDataSummary* FSummary{};
  Boolean FStructureChanged{};
  Boolean FStructureRecreated{};
  Integer FLockUpdateFieldsCount{};
  Boolean FUpdateFieldsFlag{};
  Boolean FUpdateItems{};
  TvlDataChange FDataChangeKind{dcTotal};
  Integer FDataChangeItemIndex{-1};
  Integer FDataChangeRecordIndex{-1};
  struct TNotifyEventItem {
    TObject* Instance;
    TNotifyEvent Event;
  };
  std::vector<TNotifyEventItem> FDataChangedListeners;
  Integer FDataChangedLockCount{};
  Boolean FDataChangedFlag{};
  TvlUpdateControlEvent FOnUpdateControl;
  std::vector<TvlDataListenerLink*> FListenerLinks;
  Integer FLockGridModeNotifyCount{};
  TvlDataFilterRecordEvent FOnFilterRecord;
  TvlDataControllerCompareEvent FOnCompare;
  TNotifyEvent FOnDataChanged;
  TNotifyEvent FOnSortingChanged;
  TNotifyEvent FOnGroupingChanged;
  TvlDataDetailExpandingEvent FOnDetailExpanding, FOnDetailCollapsing;
  TvlDataDetailExpandedEvent FOnDetailExpanded, FOnDetailCollapsed;
  TvlDataControllerNotifyEvent FOnBeforePost, FOnAfterPost, FOnAfterCancel, FOnAfterInsert;
  TvlDataDetailExpandedEvent FOnNewRecord, FOnBeforeDelete;
  TvlDataControllerNotifyEvent FOnAfterDelete, FOnBeforeCancel, FOnBeforeInsert;
  TvlDataRecordChangedEvent FOnRecordChanged;
};
