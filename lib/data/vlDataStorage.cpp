#include "lib/data/vlDataStorage.h"

#include <cstdlib>
#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

#include "lib/data/vlDataUtils.h"
#include "lib/foundation/nbCore.h"
#include "lib/foundation/vlVariants.h"
#include "platform/classes/Lists.h"
#include "platform/classes/Streams.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Finally.h"

CL_IMPLEMENT_CLASS(TvlValueDef)
CL_IMPLEMENT_CLASS(TvlValueDefs)
CL_IMPLEMENT_CLASS(TvlInternalValueDef)
CL_IMPLEMENT_CLASS(TvlInternalValueDefs)
CL_IMPLEMENT_CLASS(TvlValueDefReader)
CL_IMPLEMENT_CLASS(TvlDataStorage)
CL_IMPLEMENT_CLASS(TvlLookupList)

namespace {

constexpr Byte kInternalInUse = 1;
constexpr Integer kTextSlotSize = sizeof(void*);

Integer LoadInteger(const Byte* P) {
  Integer Value;
  std::memcpy(&Value, P, sizeof(Value));
  return Value;
}

void StoreInteger(Byte* P, Integer Value) { std::memcpy(P, &Value, sizeof(Value)); }

Byte* AllocateBuffer(Integer ASize) { return static_cast<Byte*>(std::calloc(ASize > 0 ? ASize : 1, 1)); }

// The object value type keeps a reference that no stream carries.
Boolean IsObjectType(TvlValueTypeClass AType) { return AType->InheritsFrom(TvlObjectValueType::StaticClass()); }

}  // namespace

// --- TvlRecordArena ------------------------------------------------------------------

namespace {
constexpr size_t kFirstArenaBlock = size_t(16) << 10;
constexpr size_t kLargestArenaBlock = size_t(1) << 20;
}  // namespace

Byte* TvlRecordArena::Allocate(Integer ASize) {
  const size_t Size = ASize > 0 ? static_cast<size_t>(ASize) : 1;
  // The most recently freed buffer when it is large enough (buffers of one
  // storage mostly share one size).
  if (!FFreed.empty() && static_cast<size_t>(FFreed.back().Size) >= Size) {
    Byte* B = FFreed.back().Buffer;
    FFreed.pop_back();
    std::memset(B, 0, Size);
    return B;
  }
  // Buffers stay aligned for the pointers of their text slots.
  const size_t Step = (Size + alignof(void*) - 1) & ~(alignof(void*) - 1);
  if (Step > FLeft) {
    size_t BlockSize = FBlocks.empty() ? kFirstArenaBlock : std::min(FHeld, kLargestArenaBlock);
    if (BlockSize < Step) BlockSize = Step;
    auto* Block = static_cast<Byte*>(std::calloc(BlockSize, 1));
    if (!Block) throw std::bad_alloc();
    FBlocks.push_back(Block);
    FHeld += BlockSize;
    FNext = Block;
    FLeft = BlockSize;
  }
  Byte* B = FNext;
  FNext += Step;
  FLeft -= Step;
  return B;
}

void TvlRecordArena::Release(Byte* ABuffer, Integer ASize) {
  if (ABuffer) FFreed.push_back({ABuffer, ASize > 0 ? ASize : 1});
}

void TvlRecordArena::Clear() {
  for (Byte* Block : FBlocks) std::free(Block);
  FBlocks.clear();
  FFreed.clear();
  FNext = nullptr;
  FLeft = 0;
  FHeld = 0;
}

void TvlRecordArena::Swap(TvlRecordArena& AOther) noexcept {
  std::swap(FBlocks, AOther.FBlocks);
  std::swap(FFreed, AOther.FFreed);
  std::swap(FNext, AOther.FNext);
  std::swap(FLeft, AOther.FLeft);
  std::swap(FHeld, AOther.FHeld);
}

// --- TvlValueDef ---------------------------------------------------------------------

TObject* TvlValueDef::GetLinkObject() const { return FLinkObject; }

Boolean TvlValueDef::GetStored() const {
  return FStored || !FValueDefs->DataStorage()->StoredValuesOnly();
}

void TvlValueDef::SetLinkObject(TObject* Value) { FLinkObject = Value; }

void TvlValueDef::Create(TvlValueDefs* AValueDefs, TvlValueTypeClass AValueTypeClass) {
  inherited::Create();
  FValueDefs = AValueDefs;
  FValueTypeClass = AValueTypeClass;
  FStored = true;
  FStreamStored = true;
}

void TvlValueDef::Assign(TvlValueDef* ASource) {
  if (!ASource) return;
  SetStored(ASource->FStored);
  SetTextStored(ASource->FTextStored);
}

void TvlValueDef::BeforeDestruction() {
  inherited::BeforeDestruction();
  if (!FValueDefs || FValueDefs->FItems->IndexOf(this) < 0) return;
  TvlDataStorage* Storage = FValueDefs->DataStorage();
  Storage->DropValueCaches();
  if (!Storage->FDestroying) {
    // The last definition with room: the buffers go, else the part goes.
    if (FValueDefs->StoredCount() < 2 && Stored()) {
      if (FValueDefs == Storage->FValueDefs)
        Storage->FreeRecordBuffers();
      else
        for (Byte*& B : Storage->FInternalRecords) Storage->FreeBuffer(B, FValueDefs);
    } else {
      Storage->RemoveDefPart(FValueDefs, this);
    }
  }
  FValueDefs->FItems->Remove(this);
  if (FValueDefs != Storage->FInternalValueDefs) Storage->FInternalValueDefs->RemoveByLinkObject(this);
  if (!Storage->FDestroying) Storage->LayOut(FValueDefs);
}

Integer TvlValueDef::CompareValues(Boolean AIsNull1, Boolean AIsNull2, const void* P1, const void* P2) const {
  if (AIsNull1 || AIsNull2) return AIsNull1 == AIsNull2 ? 0 : (AIsNull1 ? -1 : 1);
  return FValueTypeClass->CompareValues(P1, P2);
}

void TvlValueDef::CheckNoBuffers() const {
  if (FValueDefs->DataStorage()->HasBuffers(FValueDefs))
    throw EInvalidOperation(u"A value definition cannot change while records hold values");
}

void TvlValueDef::SetValueTypeClass(TvlValueTypeClass Value) {
  if (FValueTypeClass == Value) return;
  CheckNoBuffers();
  FValueTypeClass = Value;
  Changed(true);
}

void TvlValueDef::SetStored(Boolean Value) {
  if (FStored == Value) return;
  CheckNoBuffers();
  FStored = Value;
  Changed(true);
}

Boolean TvlValueDef::TextStored() const { return FTextStored && Stored(); }

void TvlValueDef::SetTextStored(Boolean Value) {
  if (FTextStored == Value) return;
  CheckNoBuffers();
  FTextStored = Value;
  Changed(true);
}

void TvlValueDef::Changed(Boolean AResyncNeeded) {
  // Only while no buffer exists (CheckNoBuffers): the new layout applies to
  // buffers made from now on.
  FValueDefs->DataStorage()->DropValueCaches();
  FValueDefs->DataStorage()->LayOut(FValueDefs);
  FValueDefs->ValueDefChanged(this, AResyncNeeded);
}

// --- TvlValueDefs --------------------------------------------------------------------

void TvlValueDefs::ValueDefChanged(TvlValueDef* ADef, Boolean AResyncNeeded) {
  FDataStorage->DefinitionsChanged(ADef, AResyncNeeded);
}

TvlValueDefClass TvlValueDefs::ValueDefClass() const { return ClassOf<TvlValueDef>(); }

void TvlValueDefs::ComputeLayout(Integer AStartOffset) {
  Integer Offset = AStartOffset;
  for (Integer I = 0; I < Count(); ++I) {
    TvlValueDef* D = ItemsDirect(I);
    D->FOffset = Offset;
    D->FDataSize = D->FValueTypeClass->ValueSize();
    if (D->Stored()) {
      D->FBufferSize = 1 + D->FDataSize + (D->TextStored() ? kTextSlotSize : 0);
      Offset += D->FBufferSize;
    } else {
      D->FBufferSize = 0;
    }
  }
  FRecordSize = Offset;
}

void TvlValueDefs::Create(TvlDataStorage* ADataStorage) {
  inherited::Create();
  FDataStorage = ADataStorage;
  FItems = New<TList>();
}

void TvlValueDefs::Destroy() {
  if (FItems) Clear();
  FreeAndNil(FItems);
  inherited::Destroy();
}

TvlValueDef* TvlValueDefs::Add(TvlValueTypeClass AValueTypeClass, Boolean AStored, Boolean ATextStored,
                               TObject* ALinkObject) {
  TvlValueDef* Def = CreateFrom(ValueDefClass(), &TvlValueDef::Create, this, AValueTypeClass);
  Def->FStored = AStored;
  Def->FTextStored = ATextStored;
  Def->SetLinkObject(ALinkObject);
  if (this == FDataStorage->FValueDefs) {
    // The twin first: internal records hold every value.
    FDataStorage->FInternalValueDefs->Add(AValueTypeClass, true, ATextStored, Def);
  }
  // Existing buffers of the list grow at the end: the new value is Null.
  Integer OldSize = FRecordSize;
  FItems->Add(Def);
  FDataStorage->LayOut(this);
  FDataStorage->InsertDefPart(this, OldSize, FRecordSize);
  return Def;
}

void TvlValueDefs::Clear() {
  while (FItems->Count() > 0) {
    TvlValueDef* D = ItemsDirect(FItems->Count() - 1);
    Free(D);
  }
}

Integer TvlValueDefs::Count() const { return FItems->Count(); }

Integer TvlValueDefs::StoredCount() const {
  Integer Result = 0;
  for (Integer I = 0; I < Count(); ++I)
    if (ItemsDirect(I)->Stored()) ++Result;
  return Result;
}

TvlValueDef* TvlValueDefs::Items(Integer Index) const {
  if (FDataStorage->FStreamingDefs && this == FDataStorage->FValueDefs)
    return static_cast<TvlValueDef*>(FDataStorage->FStreamingDefs->Items(Index));
  return ItemsDirect(Index);
}

TvlValueDef* TvlValueDefs::ItemsDirect(Integer Index) const {
  return static_cast<TvlValueDef*>(FItems->Items(Index));
}

// --- Internal definitions -------------------------------------------------------------

TObject* TvlInternalValueDef::GetLinkObject() const {
  TvlValueDef* Base = GetValueDef();
  return Base ? Base->LinkObject() : nullptr;
}

Boolean TvlInternalValueDef::GetStored() const { return true; }

TvlValueDef* TvlInternalValueDef::GetValueDef() const {
  return static_cast<TvlValueDef*>(inherited::GetLinkObject());
}

TvlValueDefClass TvlInternalValueDefs::ValueDefClass() const { return ClassOf<TvlInternalValueDef>(); }

TvlInternalValueDef* TvlInternalValueDefs::FindByLinkObject(TObject* ALinkObject) const {
  for (Integer I = Count() - 1; I >= 0; --I) {
    auto* D = static_cast<TvlInternalValueDef*>(ItemsDirect(I));
    if (D->GetValueDef() == ALinkObject) return D;
  }
  return nullptr;
}

void TvlInternalValueDefs::RemoveByLinkObject(TObject* ALinkObject) {
  Free(FindByLinkObject(ALinkObject));
}

// --- TvlValueDefReader ------------------------------------------------------------------

void TvlValueDefReader::Create() { inherited::Create(); }
String TvlValueDefReader::GetDisplayText(TvlValueDef* AValueDef) { return String(); }
Variant TvlValueDefReader::GetValue(TvlValueDef* AValueDef) { return Null(); }
Boolean TvlValueDefReader::IsInternal(TvlValueDef* AValueDef) { return false; }

// --- TvlDataStorage -------------------------------------------------------------------

void TvlDataStorage::LayOut(TvlValueDefs* AValueDefs) {
  AValueDefs->ComputeLayout(FUseRecordID ? 5 : 1);
}

void TvlDataStorage::DefinitionsChanged(TvlValueDef* ADef, Boolean AResyncNeeded) {}

TvlValueDefs* TvlDataStorage::DefsForRecord(Integer AIndex) const {
  return AIndex < 0 ? static_cast<TvlValueDefs*>(FInternalValueDefs) : FValueDefs;
}

void TvlDataStorage::Create() {
  inherited::Create();
  FValueDefs = New<TvlValueDefs>(this);
  FInternalValueDefs = New<TvlInternalValueDefs>(this);
  FRecordIDCounter = 1;
}

void TvlDataStorage::BeforeDestruction() {
  FDestroying = true;
  inherited::BeforeDestruction();
}

void TvlDataStorage::Destroy() {
  DropValueCaches();
  EndStreaming();
  if (FValueDefs && FInternalValueDefs) Clear(false);
  FreeAndNil(FValueDefs);
  FreeAndNil(FInternalValueDefs);
  inherited::Destroy();
}

Byte*& TvlDataStorage::BufferRef(Integer ARecordIndex) {
  return ARecordIndex < 0 ? FInternalRecords[-ARecordIndex - 1] : FRecords[ARecordIndex];
}

Byte* TvlDataStorage::Buffer(Integer ARecordIndex) const {
  return ARecordIndex < 0 ? FInternalRecords[-ARecordIndex - 1] : FRecords[ARecordIndex];
}

Boolean TvlDataStorage::HasBuffer(Integer ARecordIndex) const { return Buffer(ARecordIndex) != nullptr; }

Byte* TvlDataStorage::CreateBuffer(Integer ARecordIndex) {
  Byte*& B = BufferRef(ARecordIndex);
  if (!B)
    B = ARecordIndex < 0 ? AllocateBuffer(FInternalValueDefs->RecordSize()) : FArena.Allocate(FValueDefs->RecordSize());
  return B;
}

TvlValueDef* TvlDataStorage::DefFor(Integer ARecordIndex, TvlValueDef* AValueDef) const {
  TvlValueDef* Def = ARecordIndex < 0 ? FInternalValueDefs->FindByLinkObject(AValueDef) : AValueDef;
  // A definition of its own stored has room in every record (asked per value).
  return Def && (Def->FStored || Def->Stored()) ? Def : nullptr;
}

void TvlDataStorage::ReleaseValue(Byte* ABuffer, TvlValueDef* ADef) {
  Byte* Part = ABuffer + ADef->FOffset;
  if (Part[0]) ADef->FValueTypeClass->ReleaseData(Part + 1);
  std::memset(Part + 1, 0, ADef->FDataSize);
  Part[0] = 0;
}

void TvlDataStorage::StoreValue(Byte* ABuffer, TvlValueDef* ADef, const Variant& Value) {
  Byte* Part = ABuffer + ADef->FOffset;
  if (VarIsNull(Value)) {
    ReleaseValue(ABuffer, ADef);
    return;
  }
  // Marked present only once stored: a value that does not convert leaves
  // the slot Null, not a zero marked present.
  ReleaseValue(ABuffer, ADef);
  ADef->FValueTypeClass->StoreValue(Part + 1, Value);
  Part[0] = 1;
}

void TvlDataStorage::FreeBuffer(Byte*& ABuffer, TvlValueDefs* ADefs, Boolean AReuse) {
  if (!ABuffer) return;
  for (Integer I = 0; I < ADefs->Count(); ++I) {
    TvlValueDef* D = ADefs->ItemsDirect(I);
    if (!D->Stored()) continue;
    ReleaseValue(ABuffer, D);
    if (D->TextStored()) D->FValueTypeClass->ReleaseText(ABuffer + D->FOffset + 1 + D->FDataSize);
  }
  if (ADefs != FValueDefs)
    std::free(ABuffer);
  else if (AReuse)
    FArena.Release(ABuffer, ADefs->RecordSize());
  ABuffer = nullptr;
}

void TvlDataStorage::FreeRecordBuffers() {
  DropValueCaches();
  // Last first, as the heap reuses the texts' memory best; the arena goes whole.
  for (size_t I = FRecords.size(); I-- > 0;) FreeBuffer(FRecords[I], FValueDefs, false);
  FArena.Clear();
}

Boolean TvlDataStorage::HasBuffers(TvlValueDefs* ADefs) const {
  const std::vector<Byte*>& List = ADefs == FValueDefs ? FRecords : FInternalRecords;
  for (Byte* B : List)
    if (B) return true;
  return false;
}

void TvlDataStorage::InsertDefPart(TvlValueDefs* ADefs, Integer AOldSize, Integer ANewSize) {
  DropValueCaches();
  if (AOldSize == ANewSize) return;
  if (ADefs != FValueDefs) {
    for (Byte*& B : FInternalRecords) {
      if (!B) continue;
      Byte* Grown = AllocateBuffer(ANewSize);
      std::memcpy(Grown, B, AOldSize);
      std::free(B);
      B = Grown;
    }
    return;
  }
  // Every record buffer grows into a new arena; the old one goes whole.
  TvlRecordArena Grown;
  for (Byte*& B : FRecords) {
    if (!B) continue;
    Byte* G = Grown.Allocate(ANewSize);
    std::memcpy(G, B, AOldSize);
    B = G;
  }
  FArena.Swap(Grown);
}

void TvlDataStorage::RemoveDefPart(TvlValueDefs* ADefs, TvlValueDef* ADef) {
  DropValueCaches();
  if (ADef->FBufferSize == 0) return;
  std::vector<Byte*>& List = ADefs == FValueDefs ? FRecords : FInternalRecords;
  Integer Size = ADefs->RecordSize();
  Integer End = ADef->FOffset + ADef->FBufferSize;
  for (Byte* B : List) {
    if (!B) continue;
    ReleaseValue(B, ADef);
    if (ADef->TextStored()) ADef->FValueTypeClass->ReleaseText(B + ADef->FOffset + 1 + ADef->FDataSize);
    std::memmove(B + ADef->FOffset, B + End, Size - End);
    std::memset(B + Size - ADef->FBufferSize, 0, ADef->FBufferSize);
  }
}

void TvlDataStorage::InitRecordID(Integer ARecordIndex) {
  if (!FUseRecordID) return;
  if (GetRecordID(ARecordIndex) == 0) SetRecordID(ARecordIndex, FRecordIDCounter++);
}

void TvlDataStorage::AssignRecordIDs() {
  for (Integer I = 0; I < RecordCount(); ++I) InitRecordID(I);
}

Integer TvlDataStorage::AppendRecord() {
  FRecords.push_back(nullptr);
  Integer Index = RecordCount() - 1;
  InitRecordID(Index);
  return Index;
}

void TvlDataStorage::InsertRecord(Integer AIndex) {
  DropValueCaches();
  FRecords.insert(FRecords.begin() + AIndex, nullptr);
  InitRecordID(AIndex);
}

void TvlDataStorage::DeleteRecord(Integer AIndex) {
  if (AIndex < 0) {
    FreeBuffer(BufferRef(AIndex), FInternalValueDefs);
    return;
  }
  DropValueCaches();
  FreeBuffer(FRecords[AIndex], FValueDefs);
  FRecords.erase(FRecords.begin() + AIndex);
  if (FRecords.empty()) {
    FRecordIDCounter = 1;
    FArena.Clear();
  }
}

Integer TvlDataStorage::AddInternalRecord() {
  size_t Slot = 0;
  while (Slot < FInternalRecords.size() && FInternalRecords[Slot] && (FInternalRecords[Slot][0] & kInternalInUse))
    ++Slot;
  if (Slot == FInternalRecords.size()) FInternalRecords.push_back(nullptr);
  Integer Index = -static_cast<Integer>(Slot) - 1;
  CreateBuffer(Index)[0] |= kInternalInUse;
  return Index;
}

void TvlDataStorage::ClearRecords(Boolean AClearList) {
  FreeRecordBuffers();
  if (AClearList) FRecords.clear();
  if (FRecords.empty()) FRecordIDCounter = 1;
  AssignRecordIDs();
}

void TvlDataStorage::ClearInternalRecords() {
  for (Byte*& B : FInternalRecords) FreeBuffer(B, FInternalValueDefs);
  FInternalRecords.clear();
  if (Assigned(FOnClearInternalRecords)) FOnClearInternalRecords(this);
}

void TvlDataStorage::Clear(Boolean AWithoutInternal) {
  if (!AWithoutInternal) ClearInternalRecords();
  ClearRecords(true);
}

void TvlDataStorage::BeginLoad() { CheckStructure(); }
void TvlDataStorage::EndLoad() {}
void TvlDataStorage::CheckStructure() {}

void TvlDataStorage::SetRecordCount(Integer Value) {
  if (Value < 0) Value = 0;
  if (static_cast<size_t>(Value) > FRecords.capacity())
    FRecords.reserve(std::max(static_cast<size_t>(Value), FRecords.capacity() * 2));
  if (Value < RecordCount()) {
    // The records at the end go as DeleteRecord would take them (last first:
    // the heap then reuses their memory best), in one pass.
    DropValueCaches();
    for (size_t I = FRecords.size(); I-- > static_cast<size_t>(Value);) FreeBuffer(FRecords[I], FValueDefs, Value > 0);
    FRecords.resize(static_cast<size_t>(Value));
    if (FRecords.empty()) {
      FRecordIDCounter = 1;
      FArena.Clear();
    }
  }
  while (RecordCount() < Value) AppendRecord();
}

Variant TvlDataStorage::GetValue(Integer ARecordIndex, TvlValueDef* AValueDef) const {
  Byte* B = Buffer(ARecordIndex);
  TvlValueDef* Def = B ? DefFor(ARecordIndex, AValueDef) : nullptr;
  if (!Def || !B[Def->FOffset]) return Null();
  return Def->FValueTypeClass->LoadValue(B + Def->FOffset + 1);
}

void TvlDataStorage::SetValue(Integer ARecordIndex, TvlValueDef* AValueDef, const Variant& Value) {
  TvlValueDef* Def = DefFor(ARecordIndex, AValueDef);
  if (!Def) return;
  ValueChanged(ARecordIndex, AValueDef);
  StoreValue(CreateBuffer(ARecordIndex), Def, Value);
}

void TvlDataStorage::TakeValue(Integer ARecordIndex, TvlValueDef* AValueDef, Variant& Value) {
  TvlValueDef* Def = DefFor(ARecordIndex, AValueDef);
  if (!Def) return;
  Byte* B = CreateBuffer(ARecordIndex);
  ReleaseValue(B, Def);
  if (Value.VType() == varNull || Value.VType() == varEmpty) return;
  // Marked present only once stored, as StoreValue does.
  Def->FValueTypeClass->TakeValue(B + Def->FOffset + 1, Value);
  B[Def->FOffset] = 1;
}

String TvlDataStorage::GetDisplayText(Integer ARecordIndex, TvlValueDef* AValueDef) const {
  Byte* B = Buffer(ARecordIndex);
  TvlValueDef* Def = B ? DefFor(ARecordIndex, AValueDef) : nullptr;
  if (!Def) return String();
  const Byte* Part = B + Def->FOffset;
  if (Def->TextStored()) return Def->FValueTypeClass->GetStoredText(Part + 1 + Def->FDataSize);
  if (!Part[0]) return String();
  return Def->FValueTypeClass->DefaultText(Part + 1);
}

void TvlDataStorage::SetDisplayText(Integer ARecordIndex, TvlValueDef* AValueDef, const String& Value) {
  TvlValueDef* Def = DefFor(ARecordIndex, AValueDef);
  if (!Def) return;
  Byte* B = CreateBuffer(ARecordIndex);
  if (Def->TextStored()) Def->FValueTypeClass->StoreText(B + Def->FOffset + 1 + Def->FDataSize, Value);
}

Integer TvlDataStorage::GetRecordID(Integer ARecordIndex) {
  if (!FUseRecordID) return 0;
  return LoadInteger(CreateBuffer(ARecordIndex) + 1);
}

void TvlDataStorage::SetRecordID(Integer ARecordIndex, Integer AID) {
  if (!FUseRecordID) return;
  StoreInteger(CreateBuffer(ARecordIndex) + 1, AID);
}

Boolean TvlDataStorage::GetCompareInfo(Integer ARecordIndex, TvlValueDef* AValueDef, const void*& P) const {
  Byte* B = Buffer(ARecordIndex);
  TvlValueDef* Def = B ? DefFor(ARecordIndex, AValueDef) : nullptr;
  if (!Def || !B[Def->FOffset]) {
    P = nullptr;
    return true;
  }
  P = B + Def->FOffset + 1;
  Def->FValueTypeClass->PrepareValueBuffer(P);
  return false;
}

Integer TvlDataStorage::StoredSlotOffset(TvlValueDef* AValueDef) const {
  TvlValueDef* Def = DefFor(0, AValueDef);
  return Def ? Def->FOffset : -1;
}

Integer TvlDataStorage::CompareRecords(Integer ARecordIndex1, Integer ARecordIndex2, TvlValueDef* AValueDef) const {
  const void* P1;
  const void* P2;
  Boolean Null1 = GetCompareInfo(ARecordIndex1, AValueDef, P1);
  Boolean Null2 = GetCompareInfo(ARecordIndex2, AValueDef, P2);
  if (Null1 || Null2) return Null1 == Null2 ? 0 : (Null1 ? -1 : 1);
  // CompareData of the raw slots: GetCompareInfo prepared the pointers.
  return AValueDef->FValueTypeClass->CompareValues(P1, P2);
}

void TvlDataStorage::ReadRecord(Integer ARecordIndex, TvlValueDefReader* AValueDefReader) {
  CreateBuffer(ARecordIndex);
  TvlValueDefs* Defs = DefsForRecord(ARecordIndex);
  for (Integer I = 0; I < Defs->Count(); ++I) {
    TvlValueDef* D = Defs->ItemsDirect(I);
    TvlValueDef* Base = ARecordIndex < 0 ? static_cast<TvlInternalValueDef*>(D)->GetValueDef() : D;
    if (AValueDefReader->IsInternal(Base)) continue;
    SetValue(ARecordIndex, Base, AValueDefReader->GetValue(Base));
    if (D->TextStored()) SetDisplayText(ARecordIndex, Base, AValueDefReader->GetDisplayText(Base));
  }
}

void TvlDataStorage::ReadRecordFrom(Integer AFromRecordIndex, Integer AToRecordIndex,
                                    const TvlValueDefSetProc& ASetProc, TvlValueDefReader* AValueDefReader) {
  TvlValueDefs* Defs = DefsForRecord(AFromRecordIndex);
  for (Integer I = 0; I < Defs->Count(); ++I) {
    TvlValueDef* D = Defs->ItemsDirect(I);
    TvlValueDef* Base = AFromRecordIndex < 0 ? static_cast<TvlInternalValueDef*>(D)->GetValueDef() : D;
    ASetProc(Base, AFromRecordIndex, AToRecordIndex, AValueDefReader);
  }
}

void TvlDataStorage::WriteRecord(Byte* ABuffer, TvlValueDefs* ADefs, TvlWriter* AWriter) {
  for (Integer I = 0; I < ADefs->Count(); ++I) {
    TvlValueDef* D = ADefs->Items(I);
    // A definition without room in the record has nothing to stream.
    if (!D->StreamStored() || !D->Stored()) continue;
    const Byte* Part = ABuffer + D->FOffset;
    Boolean IsNull = Part[0] == 0;
    AWriter->WriteBoolean(IsNull);
    if (!IsNull) D->FValueTypeClass->WriteValueTo(Part + 1, AWriter);
    if (D->TextStored()) D->FValueTypeClass->WriteTextTo(Part + 1 + D->FDataSize, AWriter);
  }
}

void TvlDataStorage::WriteData(Integer ARecordIndex, TStream* AStream) {
  nbWriteUnicodeSignature(AStream);
  std::unique_ptr<TvlWriter, TObjectFree> Writer(New<TvlWriter>(AStream, true));
  Byte* B = Buffer(ARecordIndex);
  Writer->WriteBoolean(B == nullptr);
  if (!B) return;
  if (FUseRecordID) Writer->WriteInteger(LoadInteger(B + 1));
  WriteRecord(B, DefsForRecord(ARecordIndex), Writer.get());
}

void TvlDataStorage::ReadData(Integer ARecordIndex, TStream* AStream) {
  std::unique_ptr<TvlReader, TObjectFree> Reader(New<TvlReader>(AStream));
  TvlValueDefs* Defs = DefsForRecord(ARecordIndex);
  ValueChanged(ARecordIndex, nullptr);
  if (Reader->ReadBoolean()) {
    FreeBuffer(BufferRef(ARecordIndex), Defs);
    return;
  }
  Byte* B = CreateBuffer(ARecordIndex);
  if (FUseRecordID) {
    Integer ID = Reader->ReadInteger();
    StoreInteger(B + 1, ID);
    if (FRecordIDCounter <= ID && ID < 0x7FFFFFFF) FRecordIDCounter = ID + 1;
  }
  for (Integer I = 0; I < Defs->Count(); ++I) {
    TvlValueDef* D = Defs->Items(I);
    if (!D->StreamStored() || !D->Stored()) continue;
    Byte* Part = B + D->FOffset;
    ReleaseValue(B, D);
    if (!Reader->ReadBoolean()) {
      D->FValueTypeClass->ReadValueFrom(Part + 1, Reader.get());
      // Nothing of an object reference was streamed: the value stays Null.
      Part[0] = IsObjectType(D->FValueTypeClass) ? 0 : 1;
    }
    if (D->TextStored()) D->FValueTypeClass->ReadTextFrom(Part + 1 + D->FDataSize, Reader.get());
  }
}

void TvlDataStorage::BeginStreaming(TvlValueDefCompare ACompare) {
  EndStreaming();
  TList* Sorted = New<TList>();
  for (Integer I = 0; I < FValueDefs->Count(); ++I) Sorted->Add(FValueDefs->ItemsDirect(I));
  if (ACompare) Sorted->Sort(ACompare);
  FStreamingDefs = Sorted;
}

void TvlDataStorage::EndStreaming() { FreeAndNil(FStreamingDefs); }

TvlStoredValueCache* TvlDataStorage::ValueCache(TvlValueDef* AValueDef, Integer AKind) const {
  for (const TValueCache& C : FValueCaches)
    if (C.ValueDef == AValueDef && C.Kind == AKind) return C.Cache.get();
  return nullptr;
}

void TvlDataStorage::SetValueCache(TvlValueDef* AValueDef, Integer AKind, std::unique_ptr<TvlStoredValueCache> ACache) {
  for (TValueCache& C : FValueCaches)
    if (C.ValueDef == AValueDef && C.Kind == AKind) {
      C.Cache = std::move(ACache);
      return;
    }
  FValueCaches.push_back({AValueDef, AKind, std::move(ACache)});
}

void TvlDataStorage::DropValueCaches() { FValueCaches.clear(); }

// Before the value changes (a value that fails to convert still drops the
// derived data). Internal records are not cached; nil means every value.
void TvlDataStorage::ValueChanged(Integer ARecordIndex, TvlValueDef* AValueDef) {
  if (ARecordIndex < 0) return;
  for (TValueCache& C : FValueCaches)
    if (!AValueDef || C.ValueDef == AValueDef) C.Cache->ValueChanged(ARecordIndex);
}

void TvlDataStorage::SetUseRecordID(Boolean Value) {
  if (FUseRecordID == Value) return;
  // The buffers are laid out for the old header: free them before it changes.
  FreeRecordBuffers();
  for (Byte*& B : FInternalRecords) FreeBuffer(B, FInternalValueDefs);
  FUseRecordID = Value;
  LayOut(FValueDefs);
  LayOut(FInternalValueDefs);
  if (FRecords.empty()) FRecordIDCounter = 1;
  AssignRecordIDs();
}

void TvlDataStorage::SetStoredValuesOnly(Boolean Value) {
  if (FStoredValuesOnly == Value) return;
  FreeRecordBuffers();
  FStoredValuesOnly = Value;
  LayOut(FValueDefs);
  if (FRecords.empty()) FRecordIDCounter = 1;
  AssignRecordIDs();
}

// --- TvlLookupList ----------------------------------------------------------------------

void TvlLookupList::Destroy() {
  Clear();
  inherited::Destroy();
}

Boolean TvlLookupList::Find(const Variant& AKeyValue, Integer& AIndex) const {
  struct TContext {
    const TvlLookupList* List;
    const Variant* Key;
  } Context{this, &AKeyValue};
  return vlFindSorted(
      0, Count() - 1,
      [](void* C, Integer I) {
        auto* X = static_cast<TContext*>(C);
        return vlCompareVariants(X->List->FItems[I].KeyValue, *X->Key);
      },
      &Context, AIndex);
}

void TvlLookupList::Insert(Integer AIndex, const Variant& AKeyValue, const String& ADisplayText) {
  FItems.insert(FItems.begin() + AIndex, TvlLookupListItem{AKeyValue, ADisplayText});
}

void TvlLookupList::Clear() { FItems.clear(); }
