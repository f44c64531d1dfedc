// The rows of an in-memory cursor, kept compactly: per value one 8-byte cell
// and one tag byte (the value's variant type), rows one after another in
// chunks of a fixed number of rows (growing never copies or clears what is
// there); text and bytes of more than 8 bytes in a shared arena, text from
// the database kept as the UTF-8 it was read in and turned into a String
// when read. Each row has a stable 64-bit id (the bookmark).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

#include "platform/rtl/Variants.h"

class TRowStore {
 public:
  TRowStore() = default;
  TRowStore(const TRowStore&) = delete;
  TRowStore& operator=(const TRowStore&) = delete;

  size_t ColumnCount() const { return FColumns; }
  size_t RowCount() const { return FRows; }
  // Changes whenever rows move (insert, delete, clear), so that a record
  // buffer still naming a row by position knows to look it up again.
  UInt64 Generation() const { return FGeneration; }

  // Drops every row and sets the column count.
  void Reset(size_t Columns);
  // Keeps the rows; added columns are Null, surplus ones dropped.
  void Reshape(size_t Columns);

  UInt64 Id(size_t Row) const { return Chunk(Row).Ids[Row & FRowMask]; }
  // The row with that id; -1 when none.
  std::ptrdiff_t IndexOfId(UInt64 Id) const;

  Variant Value(size_t Row, size_t Col) const;
  bool IsNull(size_t Row, size_t Col) const;
  void SetValue(size_t Row, size_t Col, const Variant& V);
  // Every value of a row, in column order.
  std::vector<Variant> RowValues(size_t Row) const;
  void SetRowValues(size_t Row, const std::vector<Variant>& Values);
  // A row with these values (Null beyond them) at position At.
  void Insert(size_t At, UInt64 Id, const std::vector<Variant>& Values);
  void Erase(size_t Row);

  // Loading: a row of Nulls at the end, then its values one by one.
  size_t AppendRow(UInt64 Id);
  void SetInt(size_t Row, size_t Col, TVarType Type, Int64 V);     // the integer types and Boolean
  void SetFloat(size_t Row, size_t Col, TVarType Type, double V);  // varDouble, varDate
  void SetUtf8(size_t Row, size_t Col, const char* P, size_t N);   // read as a String
  void SetBytes(size_t Row, size_t Col, const char* P, size_t N);  // read as an AnsiString

  // Bytes held beyond the cells (arena, boxed values); for tests and figures.
  size_t ArenaBytes() const { return FArenaLive + FArenaGarbage; }
  // Bytes of the row chunks (cells, tags, ids) and of the arena.
  size_t BytesHeld() const;

 private:
  struct TChunk {
    std::unique_ptr<char[]> Data;
    size_t Size = 0;
    size_t Used = 0;
  };
  // FRowMask + 1 rows: their cells row by row, their tags, their ids.
  // The first chunk starts small and doubles up to the full size, so that
  // a small data set holds little.
  struct TFree {
    size_t Bytes;  // of the block (0 when it does not matter)
    void operator()(void* P) const;
  };
  struct TRowChunk {
    std::unique_ptr<UInt64[], TFree> Cells;
    std::unique_ptr<uint8_t[], TFree> Tags;
    std::unique_ptr<UInt64[], TFree> Ids;
    size_t Capacity = 0;  // rows
  };
  // One value's place.
  struct TCell {
    UInt64* Cell;
    uint8_t* Tag;
  };

  const TRowChunk& Chunk(size_t Row) const { return FRowChunks[Row >> FRowShift]; }
  TCell At(size_t Row, size_t Col) const {
    const TRowChunk& c = Chunk(Row);
    const size_t i = (Row & FRowMask) * FColumns + Col;
    return {&c.Cells[i], &c.Tags[i]};
  }
  // Row From's cells, tags and id over row To's (To's values are not released).
  void MoveRow(size_t From, size_t To);
  void AddRowAtEnd(UInt64 Id);
  void DropLastRow();
  void Release(TCell Cell);
  void Store(TCell Cell, const Variant& V);
  void StoreData(TCell Cell, uint8_t Tag, const void* P, size_t N);
  char* Allocate(size_t N);
  void CompactIfWorthIt();
  void RowsMoved();

  size_t FColumns = 0;
  size_t FRows = 0;
  size_t FRowShift = 18;
  size_t FRowMask = (size_t(1) << 18) - 1;
  std::vector<TRowChunk> FRowChunks;
  UInt64 FGeneration = 0;
  // Ids rise with the position unless a row was inserted before others:
  // then a hash index answers IndexOfId.
  bool FIdsSorted = true;
  mutable bool FIndexValid = false;
  mutable std::unordered_map<UInt64, size_t> FIndex;
  std::vector<TChunk> FChunks;
  size_t FArenaLive = 0;
  size_t FArenaGarbage = 0;
  std::vector<Variant> FBoxes;  // values of no compact form (arrays, custom types)
  std::vector<size_t> FFreeBoxes;
};
