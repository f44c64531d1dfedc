// Data sets whose rows are held in memory: the common cursor (navigation,
// bookmarks, Locate/Lookup, filters, editing) and the in-memory data set
// whose fields are defined in code.
#pragma once

#include <memory>
#include <vector>

#include "platform/db/DB.h"
#include "platform/db/RowStore.h"

// One row as values, as a cursor hands a change to the database behind it
// (ApplyInsert, ApplyUpdate, ApplyDelete): the row's stable id (the
// bookmark) and the values of the field definitions, in definition order.
struct TMemRow {
  UInt64 Id = 0;
  std::vector<Variant> Values;
};

namespace memdata_detail {
struct TFilterNode;
}

class TCustomMemDataSet : public TDataSet {
  CL_CLASS(TCustomMemDataSet, TDataSet)
 public:
  void Destroy() override;

  Boolean BookmarkValid(const TBookmark& ABookmark) override;
  Integer CompareBookmarks(const TBookmark& Bookmark1, const TBookmark& Bookmark2) override;
  Boolean Locate(const String& KeyFields, const Variant& KeyValues, TLocateOptions Options) override;
  Variant Lookup(const String& KeyFields, const Variant& KeyValues, const String& ResultFields) override;
  Boolean IsSequenced() override { return !Filtered(); }

  // Appends or inserts a record from values of the data fields in order,
  // through Append/Insert, the fields and Post.
  void AppendRecord(std::initializer_list<Variant> Values);
  void InsertRecord(std::initializer_list<Variant> Values);
  // Removes every row (the data set stays open).
  void EmptyDataSet();
  // The rows in their order (for descendants and tests).
  Integer StoredRowCount() const { return static_cast<Integer>(FStore.RowCount()); }
  // Bytes the rows take in memory (cells, tags, ids, text); for figures.
  size_t StoredBytes() const { return FStore.BytesHeld(); }

 protected:
  TGetResult GetRecord(TRecordBuffer* Buffer, TGetMode GetMode, Boolean DoCheck) override;
  void InternalOpen() override;
  void InternalClose() override;
  void InternalInitFieldDefs() override;
  Boolean IsCursorOpen() const override { return FCursorOpen; }
  void InternalFirst() override { FCursor = -1; }
  void InternalLast() override { FCursor = static_cast<Integer>(FStore.RowCount()); }
  void InternalSetToRecord(TRecordBuffer* Buffer) override;
  void InternalGotoBookmark(const TBookmark& ABookmark) override;
  void InternalPost() override;
  void InternalDelete() override;
  // Reads the rows again (a query's); the cursor keeps its position.
  void InternalRefresh() override;
  Integer GetRecordCount() override;
  Integer GetRecNo() override;
  void SetRecNoValue(Integer Value) override;
  void SetFilterText(const String& Value) override;
  void SetFilteredValue(Boolean Value) override;
  void SetFilterOptionsValue(TFilterOptions Value) override;
  void SetOnFilterRecordValue(const TFilterRecordEvent& Value) override;
  Boolean FilterExpressionAccepts() override;

  // Loads the rows when the data set opens (the in-memory data set keeps its
  // rows across Close; a query reads them again).
  virtual void LoadRows() {}
  // Writes a change to the store behind the rows before the rows change; a
  // raise leaves the rows as they were. Row may be completed (a new key).
  virtual void ApplyInsert(TMemRow& Row) {}
  virtual void ApplyUpdate(const TMemRow& OldRow, TMemRow& NewRow) {}
  virtual void ApplyDelete(const TMemRow& Row) {}

  // The rows, one column per field definition.
  TRowStore& Store() { return FStore; }
  UInt64 NewRowId() { return ++FLastId; }
  void ClearRows();
  // The index of the row with that id, -1 when none.
  Integer IndexOfId(UInt64 Id) const { return static_cast<Integer>(FStore.IndexOfId(Id)); }
  // The id of the row the cursor is on; 0 when it is on none.
  UInt64 CursorId() const;
  // Puts the cursor on the row with that id, else at the given position
  // (within the rows).
  void SetCursorToId(UInt64 Id, Integer Otherwise);
  static TBookmark MakeBookmark(UInt64 Id);
  static bool BookmarkToId(const TBookmark& B, UInt64& Id);

 private:
  void FillBuffer(TRecordBuffer* Buffer, Integer Row);
  Boolean RowAccepted(Integer Index, TRecordBuffer* Scratch);
  // The first row (in order) whose key fields match, -1 when none.
  Integer FindRow(const String& KeyFields, const Variant& KeyValues, TLocateOptions Options);
  void Refilter();

  TRowStore FStore;
  UInt64 FLastId{};
  Integer FCursor{-1};
  Boolean FCursorOpen{};
  std::shared_ptr<memdata_detail::TFilterNode> FFilterTree;
};

// The in-memory data set: FieldDefs (or persistent fields) are set in code,
// records are added through the usual editing calls.
// Params, as the platform's in-memory data set has them: values that code
// reading the data set (a view reopening it for other values) sets and
// compares; the rows do not depend on them.
class TMemDataSet : public TCustomMemDataSet {
  CL_CLASS(TMemDataSet, TCustomMemDataSet)
 public:
  void Create(TComponent* AOwner) override;
  void Destroy() override;
  TParams* Params() const { return FParams; }
  void SetParams(TParams* Value) { FParams->Assign(Value); }

 private:
  TParams* FParams{};
};
