// The compact row store of the in-memory cursors.
#include "platform/db/RowStore.h"

#include <sys/mman.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>

#include "platform/rtl/CodePages.h"
#include "platform/rtl/VariantTexts.h"

namespace {

// The tag byte of a cell. Values of the arena tags point at a uint32 length
// followed by the data; inline tags carry the length (0 to 8 bytes) in the
// tag and the data in the cell itself.
enum : uint8_t {
  tgNull = 0,
  tgEmpty,
  tgBool,
  tgShortInt,
  tgByte,
  tgSmallint,
  tgWord,
  tgInteger,
  tgLongWord,
  tgInt64,
  tgSingle,
  tgDouble,
  tgDate,
  tgCurrency,
  tgUtf8,                // arena, UTF-8 text
  tgUtf16,               // arena, UTF-16 units
  tgBytes,               // arena, 8-bit string
  tgBoxed,               // index of a whole Variant
  tgUtf8Inline = 0x20,   // + 0..8 bytes
  tgBytesInline = 0x30,  // + 0..8 bytes
  tgUtf16Inline = 0x40,  // + 0..4 units
};

constexpr size_t kChunkSize = size_t(1) << 20;
constexpr size_t kOwnChunk = kChunkSize / 4;  // larger entries get a chunk of their own

bool IsArenaTag(uint8_t T) { return T == tgUtf8 || T == tgUtf16 || T == tgBytes; }

uint32_t ArenaLength(UInt64 Payload) {
  uint32_t n;
  std::memcpy(&n, reinterpret_cast<const char*>(static_cast<uintptr_t>(Payload)), sizeof n);
  return n;
}

const char* ArenaData(UInt64 Payload) {
  return reinterpret_cast<const char*>(static_cast<uintptr_t>(Payload)) + 4;
}

String DecodeUtf8(const char* P, size_t N) {
  String s(N, u'\0');
  for (size_t i = 0; i < N; ++i) {
    unsigned char c = static_cast<unsigned char>(P[i]);
    if (c >= 0x80) return UTF8ToUTF16(UTF8String(P, N));
    s[i] = c;
  }
  return s;
}

String DecodeUtf16(const char* P, size_t Bytes) {
  String s(Bytes / 2, u'\0');
  if (Bytes) std::memcpy(s.data(), P, Bytes & ~size_t(1));
  return s;
}

}  // namespace

void TRowStore::RowsMoved() {
  ++FGeneration;
  FIndexValid = false;
}

namespace {

constexpr size_t kHugePage = size_t(2) << 20;

// Freed blocks of one huge page, kept for the next chunk: a data set that is
// closed and opened again (the log's grid after every load) reads its rows
// into memory that is already there instead of pages the system must clear
// again. At most kPoolBlocks are kept; the rest go back to the system.
constexpr size_t kPoolBlocks = 96;
std::mutex gPoolLock;
bool gPoolGone = false;  // after the program's end; blocks are freed then
struct TPool {
  std::vector<void*> Blocks;
  ~TPool() {
    std::lock_guard<std::mutex> lock(gPoolLock);
    for (void* p : Blocks) std::free(p);
    Blocks.clear();
    gPoolGone = true;
  }
} gPool;

// Uncleared memory for N bytes (what is read is written first). A block of
// one huge page is aligned to it and asks for it: a full chunk is then one
// page fault and one TLB entry instead of 512.
void* AllocateUncleared(size_t N) {
  void* p = nullptr;
  if (N == kHugePage) {
    {
      std::lock_guard<std::mutex> lock(gPoolLock);
      if (!gPool.Blocks.empty()) {
        p = gPool.Blocks.back();
        gPool.Blocks.pop_back();
        return p;
      }
    }
    p = std::aligned_alloc(kHugePage, N);
    if (p) ::madvise(p, N, MADV_HUGEPAGE);
  } else {
    p = std::malloc(N ? N : 1);
  }
  if (!p) throw std::bad_alloc();
  return p;
}

}  // namespace

void TRowStore::TFree::operator()(void* P) const {
  if (Bytes == kHugePage) {
    std::lock_guard<std::mutex> lock(gPoolLock);
    if (!gPoolGone && gPool.Blocks.size() < kPoolBlocks) {
      gPool.Blocks.push_back(P);
      return;
    }
  }
  std::free(P);
}

void TRowStore::Reset(size_t Columns) {
  FColumns = Columns;
  FRows = 0;
  // A power of two of rows a chunk, about 2 MB of cells.
  FRowShift = 18;
  for (size_t c = 1; c < Columns && FRowShift > 0; c <<= 1) --FRowShift;
  FRowMask = (size_t(1) << FRowShift) - 1;
  FRowChunks.clear();
  FRowChunks.shrink_to_fit();
  FIndex.clear();
  FChunks.clear();
  FArenaLive = FArenaGarbage = 0;
  FBoxes.clear();
  FFreeBoxes.clear();
  FIdsSorted = true;
  RowsMoved();
}

void TRowStore::Reshape(size_t Columns) {
  if (Columns == FColumns) return;
  const size_t rows = FRows;
  std::vector<TRowChunk> old = std::move(FRowChunks);
  const size_t oldColumns = FColumns, oldShift = FRowShift, oldMask = FRowMask;
  // The arena and the boxes stay; only the cells move.
  std::vector<TChunk> arena = std::move(FChunks);
  std::vector<Variant> boxes = std::move(FBoxes);
  std::vector<size_t> freeBoxes = std::move(FFreeBoxes);
  const size_t live = FArenaLive, garbage = FArenaGarbage;
  const bool sorted = FIdsSorted;
  Reset(Columns);
  FIdsSorted = sorted;
  FChunks = std::move(arena);
  FBoxes = std::move(boxes);
  FFreeBoxes = std::move(freeBoxes);
  FArenaLive = live;
  FArenaGarbage = garbage;
  for (size_t r = 0; r < rows; ++r) {
    const TRowChunk& from = old[r >> oldShift];
    const size_t first = (r & oldMask) * oldColumns;
    AddRowAtEnd(from.Ids[r & oldMask]);
    for (size_t c = 0; c < oldColumns; ++c) {
      TCell src{&from.Cells[first + c], &from.Tags[first + c]};
      if (c < Columns) {
        TCell dst = At(r, c);
        *dst.Cell = *src.Cell;
        *dst.Tag = *src.Tag;
      } else {
        Release(src);
      }
    }
  }
  RowsMoved();
  CompactIfWorthIt();
}

size_t TRowStore::BytesHeld() const {
  size_t n = 0;
  for (const TRowChunk& c : FRowChunks) n += c.Capacity * (FColumns * (sizeof(UInt64) + 1) + sizeof(UInt64));
  for (const TChunk& c : FChunks) n += c.Size;
  return n;
}

void TRowStore::AddRowAtEnd(UInt64 Id) {
  const size_t full = FRowMask + 1;
  if (FRows == FRowChunks.size() * full || (FRowChunks.size() == 1 && FRows == FRowChunks[0].Capacity)) {
    const bool grow = FRowChunks.size() == 1 && FRowChunks[0].Capacity < full;
    const size_t capacity = grow                 ? std::min(full, FRowChunks[0].Capacity * 2)
                            : FRowChunks.empty() ? std::min<size_t>(full, 16)
                                                 : full;
    // Written before read: no clearing (a Null cell's payload is never read).
    TRowChunk c;
    const size_t cells = capacity * FColumns * sizeof(UInt64);
    c.Cells = {static_cast<UInt64*>(AllocateUncleared(cells)), TFree{cells}};
    c.Tags = {static_cast<uint8_t*>(AllocateUncleared(capacity * FColumns)), TFree{0}};
    c.Ids = {static_cast<UInt64*>(AllocateUncleared(capacity * sizeof(UInt64))), TFree{0}};
    c.Capacity = capacity;
    if (grow) {
      TRowChunk& old = FRowChunks[0];
      std::memcpy(c.Cells.get(), old.Cells.get(), FRows * FColumns * sizeof(UInt64));
      std::memcpy(c.Tags.get(), old.Tags.get(), FRows * FColumns);
      std::memcpy(c.Ids.get(), old.Ids.get(), FRows * sizeof(UInt64));
      old = std::move(c);
    } else {
      FRowChunks.push_back(std::move(c));
    }
  }
  const TRowChunk& c = Chunk(FRows);
  const size_t r = FRows & FRowMask;
  c.Ids[r] = Id;
  std::memset(&c.Tags[r * FColumns], tgNull, FColumns);
  ++FRows;
}

void TRowStore::DropLastRow() {
  --FRows;
  if (FRows > 0 && (FRows & FRowMask) == 0) FRowChunks.pop_back();
  if (FRows == 0) FRowChunks.clear();
}

void TRowStore::MoveRow(size_t From, size_t To) {
  const TRowChunk& from = Chunk(From);
  const TRowChunk& to = Chunk(To);
  const size_t f = From & FRowMask, t = To & FRowMask;
  std::memcpy(&to.Cells[t * FColumns], &from.Cells[f * FColumns], FColumns * sizeof(UInt64));
  std::memcpy(&to.Tags[t * FColumns], &from.Tags[f * FColumns], FColumns);
  to.Ids[t] = from.Ids[f];
}

std::ptrdiff_t TRowStore::IndexOfId(UInt64 Id) const {
  if (FIdsSorted) {
    size_t lo = 0, hi = FRows;
    while (lo < hi) {
      const size_t mid = lo + (hi - lo) / 2;
      if (this->Id(mid) < Id)
        lo = mid + 1;
      else
        hi = mid;
    }
    return lo < FRows && this->Id(lo) == Id ? static_cast<std::ptrdiff_t>(lo) : -1;
  }
  if (!FIndexValid) {
    FIndex.clear();
    FIndex.reserve(FRows);
    for (size_t i = 0; i < FRows; ++i) FIndex.emplace(this->Id(i), i);
    FIndexValid = true;
  }
  auto it = FIndex.find(Id);
  return it == FIndex.end() ? -1 : static_cast<std::ptrdiff_t>(it->second);
}

Variant TRowStore::Value(size_t Row, size_t Col) const {
  const TCell cell = At(Row, Col);
  const uint8_t t = *cell.Tag;
  const UInt64 p = *cell.Cell;
  switch (t) {
    case tgNull:
      return Null();
    case tgEmpty:
      return Variant();
    case tgBool:
      return Variant(p != 0);
    case tgShortInt:
      return Variant(static_cast<ShortInt>(static_cast<Int64>(p)));
    case tgByte:
      return Variant(static_cast<Byte>(p));
    case tgSmallint:
      return Variant(static_cast<SmallInt>(static_cast<Int64>(p)));
    case tgWord:
      return Variant(static_cast<Word>(p));
    case tgInteger:
      return Variant(static_cast<Integer>(static_cast<Int64>(p)));
    case tgLongWord:
      return Variant(static_cast<Cardinal>(p));
    case tgInt64:
      return Variant(static_cast<Int64>(p));
    case tgSingle: {
      Single f;
      uint32_t bits = static_cast<uint32_t>(p);
      std::memcpy(&f, &bits, sizeof f);
      return Variant(f);
    }
    case tgDouble:
    case tgDate: {
      double d;
      std::memcpy(&d, &p, sizeof d);
      return t == tgDate ? VarFromDateTime(d) : Variant(d);
    }
    case tgCurrency:
      return Variant(Currency::FromRaw(static_cast<Int64>(p)));
    case tgUtf8:
      return VarFromStr(DecodeUtf8(ArenaData(p), ArenaLength(p)));
    case tgUtf16:
      return VarFromStr(DecodeUtf16(ArenaData(p), ArenaLength(p)));
    case tgBytes:
      return Variant(AnsiString(ArenaData(p), ArenaLength(p)));
    case tgBoxed:
      return FBoxes[static_cast<size_t>(p)];
    default:
      break;
  }
  const char* inl = reinterpret_cast<const char*>(cell.Cell);
  size_t n = t & 0x0F;
  switch (t & 0xF0) {
    case tgUtf8Inline:
      return VarFromStr(DecodeUtf8(inl, n));
    case tgBytesInline:
      return Variant(AnsiString(inl, n));
    case tgUtf16Inline:
      return VarFromStr(DecodeUtf16(inl, n * 2));
    default:
      return Null();
  }
}

bool TRowStore::IsNull(size_t Row, size_t Col) const {
  uint8_t t = *At(Row, Col).Tag;
  return t == tgNull || t == tgEmpty;
}

char* TRowStore::Allocate(size_t N) {
  size_t need = N + 4;
  if (need >= kOwnChunk) {
    // A chunk of its own, kept before the current one so that the current
    // one stays the last and keeps filling.
    TChunk c;
    c.Data.reset(new char[need]);
    c.Size = c.Used = need;
    char* p = c.Data.get();
    FChunks.insert(FChunks.empty() ? FChunks.end() : FChunks.end() - 1, std::move(c));
    return p;
  }
  if (FChunks.empty() || FChunks.back().Size - FChunks.back().Used < need) {
    TChunk c;
    c.Data.reset(new char[kChunkSize]);
    c.Size = kChunkSize;
    FChunks.push_back(std::move(c));
  }
  TChunk& c = FChunks.back();
  char* p = c.Data.get() + c.Used;
  c.Used += need;
  return p;
}

void TRowStore::StoreData(TCell Cell, uint8_t Tag, const void* P, size_t N) {
  uint8_t inlineTag = Tag == tgUtf8 ? tgUtf8Inline : Tag == tgBytes ? tgBytesInline : tgUtf16Inline;
  if (N <= 8) {
    // Byte by byte: a call to memcpy costs more than these few bytes.
    const unsigned char* b = static_cast<const unsigned char*>(P);
    unsigned char bytes[8] = {};
    for (size_t i = 0; i < N; ++i) bytes[i] = b[i];
    std::memcpy(Cell.Cell, bytes, sizeof bytes);
    *Cell.Tag = static_cast<uint8_t>(inlineTag + (Tag == tgUtf16 ? N / 2 : N));
    return;
  }
  if (N > UINT32_MAX) {
    // Beyond the arena's length field: kept as a whole value.
    Variant v = Tag == tgBytes  ? Variant(AnsiString(static_cast<const char*>(P), N))
                : Tag == tgUtf8 ? Variant(DecodeUtf8(static_cast<const char*>(P), N))
                                : Variant(DecodeUtf16(static_cast<const char*>(P), N));
    Store(Cell, v);
    return;
  }
  char* p = Allocate(N);
  uint32_t n = static_cast<uint32_t>(N);
  std::memcpy(p, &n, sizeof n);
  std::memcpy(p + 4, P, N);
  FArenaLive += N + 4;
  *Cell.Cell = static_cast<UInt64>(reinterpret_cast<uintptr_t>(p));
  *Cell.Tag = Tag;
}

void TRowStore::Release(TCell Cell) {
  uint8_t t = *Cell.Tag;
  if (IsArenaTag(t)) {
    size_t n = ArenaLength(*Cell.Cell) + size_t(4);
    FArenaLive -= n;
    FArenaGarbage += n;
  } else if (t == tgBoxed) {
    size_t b = static_cast<size_t>(*Cell.Cell);
    FBoxes[b] = Variant();
    FFreeBoxes.push_back(b);
  }
  *Cell.Tag = tgNull;
  *Cell.Cell = 0;
}

void TRowStore::Store(TCell Cell, const Variant& V) {
  Release(Cell);
  auto setInt = [&](uint8_t Tag, Int64 N) {
    *Cell.Cell = static_cast<UInt64>(N);
    *Cell.Tag = Tag;
  };
  auto setDouble = [&](uint8_t Tag, double D) {
    std::memcpy(Cell.Cell, &D, sizeof D);
    *Cell.Tag = Tag;
  };
  switch (V.VType()) {
    case varEmpty:
      *Cell.Tag = tgEmpty;
      return;
    case varNull:
      return;
    case varBoolean:
      return setInt(tgBool, V.AsBoolean() ? 1 : 0);
    case varShortInt:
      return setInt(tgShortInt, V.AsInt64());
    case varByte:
      return setInt(tgByte, V.AsInt64());
    case varSmallint:
      return setInt(tgSmallint, V.AsInt64());
    case varWord:
      return setInt(tgWord, V.AsInt64());
    case varInteger:
      return setInt(tgInteger, V.AsInt64());
    case varLongWord:
      return setInt(tgLongWord, V.AsInt64());
    case varInt64:
      return setInt(tgInt64, V.AsInt64());
    case varSingle: {
      Single f = static_cast<Single>(V.AsDouble());
      uint32_t bits;
      std::memcpy(&bits, &f, sizeof bits);
      return setInt(tgSingle, bits);
    }
    case varDouble:
      return setDouble(tgDouble, V.AsDouble());
    case varDate:
      return setDouble(tgDate, V.AsDateTime());
    case varCurrency:
      return setInt(tgCurrency, V.AsCurrency().Raw());
    case varUString: {
      String s = V.AsString();
      return StoreData(Cell, tgUtf16, s.data(), s.size() * sizeof(Char));
    }
    case varString: {
      AnsiString s = V.AsAnsiString();
      return StoreData(Cell, tgBytes, s.data(), s.size());
    }
    default:
      break;
  }
  size_t b;
  if (!FFreeBoxes.empty()) {
    b = FFreeBoxes.back();
    FFreeBoxes.pop_back();
    FBoxes[b] = V;
  } else {
    b = FBoxes.size();
    FBoxes.push_back(V);
  }
  *Cell.Cell = b;
  *Cell.Tag = tgBoxed;
}

void TRowStore::SetValue(size_t Row, size_t Col, const Variant& V) {
  Store(At(Row, Col), V);
  CompactIfWorthIt();
}

std::vector<Variant> TRowStore::RowValues(size_t Row) const {
  std::vector<Variant> out;
  out.reserve(FColumns);
  for (size_t c = 0; c < FColumns; ++c) out.push_back(Value(Row, c));
  return out;
}

void TRowStore::SetRowValues(size_t Row, const std::vector<Variant>& Values) {
  for (size_t c = 0; c < FColumns; ++c) Store(At(Row, c), c < Values.size() ? Values[c] : Null());
  CompactIfWorthIt();
}

void TRowStore::Insert(size_t At_, UInt64 Id, const std::vector<Variant>& Values) {
  At_ = std::min(At_, RowCount());
  bool inOrder = (At_ == 0 || this->Id(At_ - 1) < Id) && (At_ == RowCount() || Id < this->Id(At_));
  if (!inOrder) FIdsSorted = false;
  AddRowAtEnd(Id);
  for (size_t r = FRows - 1; r > At_; --r) MoveRow(r - 1, r);
  const TRowChunk& c = Chunk(At_);
  c.Ids[At_ & FRowMask] = Id;
  std::memset(&c.Tags[(At_ & FRowMask) * FColumns], tgNull, FColumns);
  RowsMoved();
  for (size_t col = 0; col < FColumns && col < Values.size(); ++col) Store(At(At_, col), Values[col]);
}

void TRowStore::Erase(size_t Row) {
  for (size_t c = 0; c < FColumns; ++c) Release(At(Row, c));
  for (size_t r = Row + 1; r < FRows; ++r) MoveRow(r, r - 1);
  DropLastRow();
  RowsMoved();
  CompactIfWorthIt();
}

size_t TRowStore::AppendRow(UInt64 Id) {
  if (FRows > 0 && Id <= this->Id(FRows - 1)) FIdsSorted = false;
  AddRowAtEnd(Id);
  RowsMoved();
  return FRows - 1;
}

void TRowStore::SetInt(size_t Row, size_t Col, TVarType Type, Int64 V) {
  uint8_t tag;
  switch (Type) {
    case varBoolean:
      tag = tgBool;
      V = V != 0;
      break;
    case varShortInt:
      tag = tgShortInt;
      break;
    case varByte:
      tag = tgByte;
      break;
    case varSmallint:
      tag = tgSmallint;
      break;
    case varWord:
      tag = tgWord;
      break;
    case varInteger:
      tag = tgInteger;
      break;
    case varLongWord:
      tag = tgLongWord;
      break;
    default:
      tag = tgInt64;
      break;
  }
  const TCell cell = At(Row, Col);
  if (*cell.Tag != tgNull) Release(cell);  // a loaded row's cells start Null
  *cell.Cell = static_cast<UInt64>(V);
  *cell.Tag = tag;
}

void TRowStore::SetFloat(size_t Row, size_t Col, TVarType Type, double V) {
  const TCell cell = At(Row, Col);
  if (*cell.Tag != tgNull) Release(cell);  // a loaded row's cells start Null
  std::memcpy(cell.Cell, &V, sizeof V);
  *cell.Tag = Type == varDate ? tgDate : tgDouble;
}

void TRowStore::SetUtf8(size_t Row, size_t Col, const char* P, size_t N) {
  const TCell cell = At(Row, Col);
  if (*cell.Tag != tgNull) Release(cell);  // a loaded row's cells start Null
  StoreData(cell, tgUtf8, P, N);
}

void TRowStore::SetBytes(size_t Row, size_t Col, const char* P, size_t N) {
  const TCell cell = At(Row, Col);
  if (*cell.Tag != tgNull) Release(cell);  // a loaded row's cells start Null
  StoreData(cell, tgBytes, P, N);
}

void TRowStore::CompactIfWorthIt() {
  // Edits and deletes leave their old text behind; once that is most of the
  // arena, the live entries move to fresh chunks.
  if (FArenaGarbage < (size_t(4) << 20) || FArenaGarbage < FArenaLive) return;
  std::vector<TChunk> old = std::move(FChunks);
  FChunks.clear();
  FArenaLive = FArenaGarbage = 0;
  for (size_t r = 0; r < FRows; ++r)
    for (size_t col = 0; col < FColumns; ++col) {
      const TCell cell = At(r, col);
      if (!IsArenaTag(*cell.Tag)) continue;
      UInt64 p = *cell.Cell;
      size_t n = ArenaLength(p);
      char* q = Allocate(n);
      std::memcpy(q, reinterpret_cast<const char*>(static_cast<uintptr_t>(p)), n + 4);
      FArenaLive += n + 4;
      *cell.Cell = static_cast<UInt64>(reinterpret_cast<uintptr_t>(q));
    }
}
