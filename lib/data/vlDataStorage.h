// Record storage of the data controller: one raw buffer per record, laid out
// by a list of value definitions (one per controller field), internal records
// with negative indexes for temporary rows, record IDs, comparison of stored
// values and the binary form of single records. Also the small sorted lookup
// list of the lookup editors.
//
// Record buffer: a flags byte (bit value 1: an internal slot in use), the
// 4-byte record ID when UseRecordID, then each stored definition's part: a
// null flag byte (0 Null, 1 a value is present), the value slot of the value
// type's size, and with TextStored a pointer-sized display-text slot.
#pragma once

#include <memory>
#include <vector>

#include "lib/data/vlValueTypes.h"
#include "platform/classes/Delegates.h"
#include "platform/rtl/Types.h"
#include "platform/rtl/Variants.h"

class TStream;
class TList;
class TvlDataStorage;
class TvlValueDefs;
class TvlValueDefReader;

using TNotifyEvent = TDelegate<void(TObject* Sender)>;

class TvlValueDef : public TObject {
  CL_CLASS(TvlValueDef, TObject)
 public:
  virtual TObject* GetLinkObject() const;
  virtual Boolean GetStored() const;
  virtual void SetLinkObject(TObject* Value);
  virtual void Create(TvlValueDefs* AValueDefs, TvlValueTypeClass AValueTypeClass);
  // Copies Stored and TextStored.
  virtual void Assign(TvlValueDef* ASource);
  // Takes the definition's part out of every buffer of its list.
  void BeforeDestruction() override;

  // Null first, then the value type's CompareValues of prepared pointers.
  Integer CompareValues(Boolean AIsNull1, Boolean AIsNull2, const void* P1, const void* P2) const;

  TvlValueDefs* ValueDefs() const { return FValueDefs; }
  TvlValueTypeClass ValueTypeClass() const { return FValueTypeClass; }
  // Refused (EInvalidOperation) while a record buffer of the list exists:
  // the layout of existing buffers cannot change under them.
  void SetValueTypeClass(TvlValueTypeClass Value);
  TObject* LinkObject() const { return GetLinkObject(); }
  Boolean Stored() const { return GetStored(); }
  void SetStored(Boolean Value);
  Boolean TextStored() const;
  void SetTextStored(Boolean Value);
  Boolean StreamStored() const { return FStreamStored; }
  void SetStreamStored(Boolean Value) { FStreamStored = Value; }
  Integer Offset() const { return FOffset; }
  Integer DataSize() const { return FDataSize; }
  Integer BufferSize() const { return FBufferSize; }
  Boolean IsNeedConversion() const { return FValueTypeClass->IsString(); }
  Boolean OwnStored() const { return FStored; }

 private:
  friend class TvlValueDefs;
  friend class TvlDataStorage;
  void Changed(Boolean AResyncNeeded);
  void CheckNoBuffers() const;

  TvlValueDefs* FValueDefs{};
  TvlValueTypeClass FValueTypeClass;
  TObject* FLinkObject{};
  Boolean FStored{};
  Boolean FTextStored{};
  Boolean FStreamStored{};
  Integer FOffset{};
  Integer FDataSize{};
  Integer FBufferSize{};
};

using TvlValueDefClass = TClassOf<TvlValueDef>;

class TvlValueDefs : public TObject {
  CL_CLASS(TvlValueDefs, TObject)
 public:
  virtual void ValueDefChanged(TvlValueDef* ADef, Boolean AResyncNeeded);
  virtual TvlValueDefClass ValueDefClass() const;
  // Offsets and sizes from AStartOffset; RecordSize is the end.
  virtual void ComputeLayout(Integer AStartOffset);
  virtual void Create(TvlDataStorage* ADataStorage);
  void Destroy() override;

  TvlValueDef* Add(TvlValueTypeClass AValueTypeClass, Boolean AStored, Boolean ATextStored, TObject* ALinkObject);
  void Clear();
  Integer Count() const;
  Integer StoredCount() const;
  Integer RecordSize() const { return FRecordSize; }
  // While the storage streams, the storage's sorted copy is seen.
  TvlValueDef* Items(Integer Index) const;
  TvlDataStorage* DataStorage() const { return FDataStorage; }

 protected:
  TvlValueDef* ItemsDirect(Integer Index) const;

 private:
  friend class TvlValueDef;
  friend class TvlDataStorage;
  TvlDataStorage* FDataStorage{};
  TList* FItems{};
  Integer FRecordSize{};
};

// The twin of an ordinary definition in the internal records.
class TvlInternalValueDef : public TvlValueDef {
  CL_CLASS(TvlInternalValueDef, TvlValueDef)
 public:
  TObject* GetLinkObject() const override;
  Boolean GetStored() const override;
  TvlValueDef* GetValueDef() const;
};

class TvlInternalValueDefs : public TvlValueDefs {
  CL_CLASS(TvlInternalValueDefs, TvlValueDefs)
 public:
  TvlValueDefClass ValueDefClass() const override;
  TvlInternalValueDef* FindByLinkObject(TObject* ALinkObject) const;
  void RemoveByLinkObject(TObject* ALinkObject);
};

// The source of TvlDataStorage::ReadRecord.
class TvlValueDefReader : public TObject {
  CL_CLASS(TvlValueDefReader, TObject)
 public:
  virtual void Create();
  virtual String GetDisplayText(TvlValueDef* AValueDef);
  virtual Variant GetValue(TvlValueDef* AValueDef);
  virtual Boolean IsInternal(TvlValueDef* AValueDef);
};

// Copies one definition's value from one record to another (ReadRecordFrom).
using TvlValueDefSetProc =
    TDelegate<void(TvlValueDef* AValueDef, Integer AFromRecordIndex, Integer AToRecordIndex,
                   TvlValueDefReader* AValueDefReader)>;
using TvlValueDefCompare = Integer (*)(void* Item1, void* Item2);

// Data derived from one definition's stored values and kept between uses
// (the collation keys of a sorted text column). The storage tells it of
// every value set in a record and frees it when records are inserted,
// deleted or cleared, or when the layout changes.
class TvlStoredValueCache {
 public:
  virtual ~TvlStoredValueCache() = default;
  virtual void ValueChanged(Integer ARecordIndex) = 0;
};

// The memory of the storage's (non-internal) record buffers: buffers cut from
// large zeroed blocks one after another, a freed buffer kept for the next
// one that fits, every block freed at once by Clear. Loading many records
// costs no allocation per record and keeps them close together.
class TvlRecordArena {
 public:
  TvlRecordArena() = default;
  TvlRecordArena(const TvlRecordArena&) = delete;
  TvlRecordArena& operator=(const TvlRecordArena&) = delete;
  ~TvlRecordArena() { Clear(); }

  // ASize zeroed bytes, valid until Clear.
  Byte* Allocate(Integer ASize);
  // A buffer of at least ASize bytes given back for reuse.
  void Release(Byte* ABuffer, Integer ASize);
  void Clear();
  void Swap(TvlRecordArena& AOther) noexcept;
  // Bytes of the blocks; for tests.
  size_t BytesHeld() const { return FHeld; }

 private:
  struct TFreed {
    Byte* Buffer;
    Integer Size;
  };
  std::vector<Byte*> FBlocks;
  std::vector<TFreed> FFreed;
  Byte* FNext{};
  size_t FLeft{};
  size_t FHeld{};
};

class TvlDataStorage : public TObject {
  CL_CLASS(TvlDataStorage, TObject)
 public:
  virtual void LayOut(TvlValueDefs* AValueDefs);
  virtual void DefinitionsChanged(TvlValueDef* ADef, Boolean AResyncNeeded);
  virtual TvlValueDefs* DefsForRecord(Integer AIndex) const;
  virtual void Create();
  void BeforeDestruction() override;
  void Destroy() override;

  // --- Records ---
  Integer AppendRecord();
  void InsertRecord(Integer AIndex);
  void DeleteRecord(Integer AIndex);
  Integer AddInternalRecord();
  void ClearRecords(Boolean AClearList);
  void ClearInternalRecords();
  void Clear(Boolean AWithoutInternal);
  void BeginLoad();
  void EndLoad();
  Integer RecordCount() const { return static_cast<Integer>(FRecords.size()); }
  void SetRecordCount(Integer Value);
  Integer InternalRecordCount() const { return static_cast<Integer>(FInternalRecords.size()); }

  // --- Values ---
  Variant GetValue(Integer ARecordIndex, TvlValueDef* AValueDef) const;
  void SetValue(Integer ARecordIndex, TvlValueDef* AValueDef, const Variant& Value);
  // As SetValue; texts are taken out of Value instead of copied.
  void TakeValue(Integer ARecordIndex, TvlValueDef* AValueDef, Variant& Value);
  String GetDisplayText(Integer ARecordIndex, TvlValueDef* AValueDef) const;
  void SetDisplayText(Integer ARecordIndex, TvlValueDef* AValueDef, const String& Value);
  Integer GetRecordID(Integer ARecordIndex);
  void SetRecordID(Integer ARecordIndex, Integer AID);
  Integer CompareRecords(Integer ARecordIndex1, Integer ARecordIndex2, TvlValueDef* AValueDef) const;
  Boolean GetCompareInfo(Integer ARecordIndex, TvlValueDef* AValueDef, const void*& P) const;
  // For reading one definition of many stored records at once: the offset of
  // its part in a record buffer (the null flag, then the value slot), -1 when
  // records have no room for it; a stored record's buffer, nil when none.
  Integer StoredSlotOffset(TvlValueDef* AValueDef) const;
  const Byte* StoredBuffer(Integer ARecordIndex) const { return FRecords[ARecordIndex]; }
  void ReadRecord(Integer ARecordIndex, TvlValueDefReader* AValueDefReader);
  void ReadRecordFrom(Integer AFromRecordIndex, Integer AToRecordIndex, const TvlValueDefSetProc& ASetProc,
                      TvlValueDefReader* AValueDefReader);
  // True when the record has a buffer.
  Boolean HasBuffer(Integer ARecordIndex) const;
  // The bytes held for the records' buffers; for tests and figures.
  size_t RecordBytesHeld() const { return FArena.BytesHeld(); }

  // --- Caches of derived data (see TvlStoredValueCache) ---
  // The cache kept for the definition under AKind; nil when none.
  TvlStoredValueCache* ValueCache(TvlValueDef* AValueDef, Integer AKind) const;
  // Keeps ACache (replacing the one kept under the same definition and kind).
  void SetValueCache(TvlValueDef* AValueDef, Integer AKind, std::unique_ptr<TvlStoredValueCache> ACache);
  void DropValueCaches();

  // --- Streams ---
  void WriteData(Integer ARecordIndex, TStream* AStream);
  void ReadData(Integer ARecordIndex, TStream* AStream);
  void BeginStreaming(TvlValueDefCompare ACompare);
  void EndStreaming();

  TvlValueDefs* ValueDefs() const { return FValueDefs; }
  TvlInternalValueDefs* InternalValueDefs() const { return FInternalValueDefs; }
  Boolean UseRecordID() const { return FUseRecordID; }
  void SetUseRecordID(Boolean Value);
  Boolean StoredValuesOnly() const { return FStoredValuesOnly; }
  void SetStoredValuesOnly(Boolean Value);
  Boolean Destroying() const { return FDestroying; }
  const TNotifyEvent& OnClearInternalRecords() const { return FOnClearInternalRecords; }
  void SetOnClearInternalRecords(const TNotifyEvent& Value) { FOnClearInternalRecords = Value; }

 protected:
  virtual void CheckStructure();

 private:
  friend class TvlValueDef;
  friend class TvlValueDefs;

  Byte*& BufferRef(Integer ARecordIndex);
  Byte* Buffer(Integer ARecordIndex) const;
  Byte* CreateBuffer(Integer ARecordIndex);
  // The definition that holds AValueDef's value in the record (the twin for
  // internal records); nil when none or without room.
  TvlValueDef* DefFor(Integer ARecordIndex, TvlValueDef* AValueDef) const;
  // AReuse false: a record buffer is not kept for reuse (the arena is cleared next).
  void FreeBuffer(Byte*& ABuffer, TvlValueDefs* ADefs, Boolean AReuse = true);
  void FreeRecordBuffers();
  void InitRecordID(Integer ARecordIndex);
  void AssignRecordIDs();
  void ReleaseValue(Byte* ABuffer, TvlValueDef* ADef);
  void StoreValue(Byte* ABuffer, TvlValueDef* ADef, const Variant& Value);
  Boolean HasBuffers(TvlValueDefs* ADefs) const;
  void InsertDefPart(TvlValueDefs* ADefs, Integer AOldSize, Integer ANewSize);
  void RemoveDefPart(TvlValueDefs* ADefs, TvlValueDef* ADef);
  void WriteRecord(Byte* ABuffer, TvlValueDefs* ADefs, TvlWriter* AWriter);
  void ValueChanged(Integer ARecordIndex, TvlValueDef* AValueDef);

  struct TValueCache {
    TvlValueDef* ValueDef;
    Integer Kind;
    std::unique_ptr<TvlStoredValueCache> Cache;
  };

  TvlValueDefs* FValueDefs{};
  TvlInternalValueDefs* FInternalValueDefs{};
  // Buffers of FRecords come from FArena, those of FInternalRecords from the heap.
  std::vector<Byte*> FRecords;
  std::vector<Byte*> FInternalRecords;
  TvlRecordArena FArena;
  Boolean FUseRecordID{};
  Boolean FStoredValuesOnly{};
  Integer FRecordIDCounter{};
  TNotifyEvent FOnClearInternalRecords;
  Boolean FDestroying{};
  TList* FStreamingDefs{};
  std::vector<TValueCache> FValueCaches;
};

struct TvlLookupListItem {
  Variant KeyValue;
  String DisplayText;
};

// Items sorted by key by their users; Find is a binary search.
class TvlLookupList : public TObject {
  CL_CLASS(TvlLookupList, TObject)
 public:
  void Destroy() override;
  Boolean Find(const Variant& AKeyValue, Integer& AIndex) const;
  void Insert(Integer AIndex, const Variant& AKeyValue, const String& ADisplayText);
  void Clear();
  Integer Count() const { return static_cast<Integer>(FItems.size()); }
  const Variant& KeyValue(Integer AIndex) const { return FItems[AIndex].KeyValue; }
  const String& DisplayText(Integer AIndex) const { return FItems[AIndex].DisplayText; }

 private:
  std::vector<TvlLookupListItem> FItems;
};
