// The compact row store of the in-memory cursors.
#include "platform/db/RowStore.h"

#include <algorithm>
#include <cstring>

#include "platform/rtl/CodePages.h"

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

void TRowStore::Reset(size_t Columns) {
  FColumns = Columns;
  FCells.clear();
  FCells.shrink_to_fit();
  FTags.clear();
  FTags.shrink_to_fit();
  FIds.clear();
  FIds.shrink_to_fit();
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
  size_t rows = RowCount();
  std::vector<UInt64> cells(rows * Columns, 0);
  std::vector<uint8_t> tags(rows * Columns, tgNull);
  for (size_t r = 0; r < rows; ++r) {
    for (size_t c = 0; c < FColumns; ++c) {
      if (c < Columns) {
        cells[r * Columns + c] = FCells[At(r, c)];
        tags[r * Columns + c] = FTags[At(r, c)];
      } else {
        Release(At(r, c));
      }
    }
  }
  FCells = std::move(cells);
  FTags = std::move(tags);
  FColumns = Columns;
  RowsMoved();
  CompactIfWorthIt();
}

std::ptrdiff_t TRowStore::IndexOfId(UInt64 Id) const {
  if (FIdsSorted) {
    auto it = std::lower_bound(FIds.begin(), FIds.end(), Id);
    return it != FIds.end() && *it == Id ? it - FIds.begin() : -1;
  }
  if (!FIndexValid) {
    FIndex.clear();
    FIndex.reserve(FIds.size());
    for (size_t i = 0; i < FIds.size(); ++i) FIndex.emplace(FIds[i], i);
    FIndexValid = true;
  }
  auto it = FIndex.find(Id);
  return it == FIndex.end() ? -1 : static_cast<std::ptrdiff_t>(it->second);
}

Variant TRowStore::Value(size_t Row, size_t Col) const {
  size_t i = At(Row, Col);
  uint8_t t = FTags[i];
  UInt64 p = FCells[i];
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
      return Variant(DecodeUtf8(ArenaData(p), ArenaLength(p)));
    case tgUtf16:
      return Variant(DecodeUtf16(ArenaData(p), ArenaLength(p)));
    case tgBytes:
      return Variant(AnsiString(ArenaData(p), ArenaLength(p)));
    case tgBoxed:
      return FBoxes[static_cast<size_t>(p)];
    default:
      break;
  }
  const char* inl = reinterpret_cast<const char*>(&FCells[i]);
  size_t n = t & 0x0F;
  switch (t & 0xF0) {
    case tgUtf8Inline:
      return Variant(DecodeUtf8(inl, n));
    case tgBytesInline:
      return Variant(AnsiString(inl, n));
    case tgUtf16Inline:
      return Variant(DecodeUtf16(inl, n * 2));
    default:
      return Null();
  }
}

bool TRowStore::IsNull(size_t Row, size_t Col) const {
  uint8_t t = FTags[At(Row, Col)];
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

void TRowStore::StoreData(size_t Cell, uint8_t Tag, const void* P, size_t N) {
  uint8_t inlineTag = Tag == tgUtf8 ? tgUtf8Inline : Tag == tgBytes ? tgBytesInline : tgUtf16Inline;
  if (N <= 8) {
    UInt64 v = 0;
    if (N) std::memcpy(&v, P, N);
    FCells[Cell] = v;
    FTags[Cell] = static_cast<uint8_t>(inlineTag + (Tag == tgUtf16 ? N / 2 : N));
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
  FCells[Cell] = static_cast<UInt64>(reinterpret_cast<uintptr_t>(p));
  FTags[Cell] = Tag;
}

void TRowStore::Release(size_t Cell) {
  uint8_t t = FTags[Cell];
  if (IsArenaTag(t)) {
    size_t n = ArenaLength(FCells[Cell]) + size_t(4);
    FArenaLive -= n;
    FArenaGarbage += n;
  } else if (t == tgBoxed) {
    size_t b = static_cast<size_t>(FCells[Cell]);
    FBoxes[b] = Variant();
    FFreeBoxes.push_back(b);
  }
  FTags[Cell] = tgNull;
  FCells[Cell] = 0;
}

void TRowStore::Store(size_t Cell, const Variant& V) {
  Release(Cell);
  auto setInt = [&](uint8_t Tag, Int64 N) {
    FCells[Cell] = static_cast<UInt64>(N);
    FTags[Cell] = Tag;
  };
  auto setDouble = [&](uint8_t Tag, double D) {
    std::memcpy(&FCells[Cell], &D, sizeof D);
    FTags[Cell] = Tag;
  };
  switch (V.VType()) {
    case varEmpty:
      FTags[Cell] = tgEmpty;
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
  FCells[Cell] = b;
  FTags[Cell] = tgBoxed;
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
  bool inOrder = (At_ == 0 || FIds[At_ - 1] < Id) && (At_ == RowCount() || Id < FIds[At_]);
  if (!inOrder) FIdsSorted = false;
  size_t first = At_ * FColumns;
  FCells.insert(FCells.begin() + static_cast<std::ptrdiff_t>(first), FColumns, 0);
  FTags.insert(FTags.begin() + static_cast<std::ptrdiff_t>(first), FColumns, tgNull);
  FIds.insert(FIds.begin() + static_cast<std::ptrdiff_t>(At_), Id);
  RowsMoved();
  for (size_t c = 0; c < FColumns && c < Values.size(); ++c) Store(first + c, Values[c]);
}

void TRowStore::Erase(size_t Row) {
  size_t first = At(Row, 0);
  for (size_t c = 0; c < FColumns; ++c) Release(first + c);
  FCells.erase(FCells.begin() + static_cast<std::ptrdiff_t>(first),
               FCells.begin() + static_cast<std::ptrdiff_t>(first + FColumns));
  FTags.erase(FTags.begin() + static_cast<std::ptrdiff_t>(first),
              FTags.begin() + static_cast<std::ptrdiff_t>(first + FColumns));
  FIds.erase(FIds.begin() + static_cast<std::ptrdiff_t>(Row));
  RowsMoved();
  CompactIfWorthIt();
}

size_t TRowStore::AppendRow(UInt64 Id) {
  if (!FIds.empty() && Id <= FIds.back()) FIdsSorted = false;
  FIds.push_back(Id);
  FCells.resize(FCells.size() + FColumns, 0);
  FTags.resize(FTags.size() + FColumns, tgNull);
  RowsMoved();
  return FIds.size() - 1;
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
  size_t i = At(Row, Col);
  Release(i);
  FCells[i] = static_cast<UInt64>(V);
  FTags[i] = tag;
}

void TRowStore::SetFloat(size_t Row, size_t Col, TVarType Type, double V) {
  size_t i = At(Row, Col);
  Release(i);
  std::memcpy(&FCells[i], &V, sizeof V);
  FTags[i] = Type == varDate ? tgDate : tgDouble;
}

void TRowStore::SetUtf8(size_t Row, size_t Col, const char* P, size_t N) {
  size_t i = At(Row, Col);
  Release(i);
  StoreData(i, tgUtf8, P, N);
}

void TRowStore::SetBytes(size_t Row, size_t Col, const char* P, size_t N) {
  size_t i = At(Row, Col);
  Release(i);
  StoreData(i, tgBytes, P, N);
}

void TRowStore::CompactIfWorthIt() {
  // Edits and deletes leave their old text behind; once that is most of the
  // arena, the live entries move to fresh chunks.
  if (FArenaGarbage < (size_t(4) << 20) || FArenaGarbage < FArenaLive) return;
  std::vector<TChunk> old = std::move(FChunks);
  FChunks.clear();
  FArenaLive = FArenaGarbage = 0;
  for (size_t i = 0; i < FTags.size(); ++i) {
    uint8_t t = FTags[i];
    if (!IsArenaTag(t)) continue;
    UInt64 p = FCells[i];
    size_t n = ArenaLength(p);
    char* q = Allocate(n);
    std::memcpy(q, reinterpret_cast<const char*>(static_cast<uintptr_t>(p)), n + 4);
    FArenaLive += n + 4;
    FCells[i] = static_cast<UInt64>(reinterpret_cast<uintptr_t>(q));
  }
}
