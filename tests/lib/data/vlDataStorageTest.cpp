#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "lib/data/vlDataStorage.h"
#include "platform/classes/Streams.h"
#include "platform/rtl/Conversions.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Variants.h"

// Copies one value between records (a ReadRecordFrom procedure).
class TCopier : public TObject {
  CL_CLASS(TCopier, TObject)
 public:
  TvlDataStorage* Storage{};
  void Copy(TvlValueDef* D, Integer From, Integer To, TvlValueDefReader*) {
    Storage->SetValue(To, D, Storage->GetValue(From, D));
  }
};
CL_IMPLEMENT_CLASS(TCopier)

namespace {

using TStreamPtr = std::unique_ptr<TMemoryStream, TObjectFree>;
using TStoragePtr = std::unique_ptr<TvlDataStorage, TObjectFree>;
using TBytes = std::vector<Byte>;

TBytes Bytes(TMemoryStream* S) {
  const Byte* P = static_cast<const Byte*>(S->Memory());
  return TBytes(P, P + S->Size());
}

TBytes Signed(std::initializer_list<Byte> Tail) {
  TBytes R = {'N', 'B', 'U', 'F', 'M', 'T'};
  R.insert(R.end(), Tail);
  return R;
}

TBytes WriteRecord(TvlDataStorage* S, Integer Index) {
  TStreamPtr Stream(New<TMemoryStream>());
  S->WriteData(Index, Stream.get());
  return Bytes(Stream.get());
}

void ReadRecord(TvlDataStorage* S, Integer Index, const TBytes& Data) {
  TStreamPtr Stream(New<TMemoryStream>());
  Stream->WriteBuffer(Data.data(), static_cast<Integer>(Data.size()));
  Stream->SetPosition(0);
  S->ReadData(Index, Stream.get());
}

// One definition of each streamed kind, a value, and the record's bytes
// (not Null: flag 0, then the value's form).
TEST(vlDataStorage, RecordStreamBytesPerValueType) {
  struct TCase {
    TvlValueTypeClass Type;
    Variant Value;
    TBytes Form;
  } Cases[] = {
      {ClassOf<TvlIntegerValueType>(), Variant(-2), {0xFE, 0xFF, 0xFF, 0xFF}},
      {ClassOf<TvlSmallintValueType>(), Variant(SmallInt(258)), {0x02, 0x01}},
      {ClassOf<TvlWordValueType>(), Variant(Word(0xABCD)), {0xCD, 0xAB}},
      {ClassOf<TvlBooleanValueType>(), Variant(true), {0x01}},
      {ClassOf<TvlLargeIntValueType>(), Variant(Int64(0x0102030405060708LL)),
       {0x08, 0x07, 0x06, 0x05, 0x04, 0x03, 0x02, 0x01}},
      {ClassOf<TvlCurrencyValueType>(), Variant(Currency(1)), {0x10, 0x27, 0, 0, 0, 0, 0, 0}},
      {ClassOf<TvlFloatValueType>(), Variant(1.5), {0, 0, 0, 0, 0, 0, 0, 0xC0, 0xFF, 0x3F}},
      {ClassOf<TvlDateTimeValueType>(), VarFromDateTime(2.0), {0, 0, 0, 0, 0, 0, 0, 0x40}},
      {ClassOf<TvlStringValueType>(), Variant(String(u"ab")), {2, 0, 0, 0, 'a', 0, 'b', 0}},
      {ClassOf<TvlWideStringValueType>(), Variant(String(u"\u0130")), {1, 0, 0, 0, 0x30, 0x01}},
      {ClassOf<TvlVariantValueType>(), Variant(7), {0x02, 7}},  // the tagged form of a small integer
  };
  for (const TCase& C : Cases) {
    const String Name = C.Type->ClassName();
    SCOPED_TRACE(std::string(Name.begin(), Name.end()));
    TStoragePtr S(New<TvlDataStorage>());
    TvlValueDef* D = S->ValueDefs()->Add(C.Type, true, false, nullptr);
    Integer R = S->AppendRecord();
    S->SetValue(R, D, C.Value);
    TBytes Expected = Signed({0, 0});
    Expected.insert(Expected.end(), C.Form.begin(), C.Form.end());
    EXPECT_EQ(WriteRecord(S.get(), R), Expected);

    // Read back into a second record; then a Null value is flag 1 alone.
    Integer R2 = S->AppendRecord();
    ReadRecord(S.get(), R2, Expected);
    EXPECT_EQ(S->CompareRecords(R, R2, D), 0);
    S->SetValue(R2, D, Null());
    EXPECT_EQ(WriteRecord(S.get(), R2), Signed({0, 1}));
  }
}

TEST(vlDataStorage, RecordIDsTextsAndSkippedDefinitions) {
  TStoragePtr S(New<TvlDataStorage>());
  S->SetUseRecordID(true);
  TvlValueDef* Num = S->ValueDefs()->Add(ClassOf<TvlIntegerValueType>(), true, true, nullptr);
  TvlValueDef* Hidden = S->ValueDefs()->Add(ClassOf<TvlIntegerValueType>(), true, false, nullptr);
  Hidden->SetStreamStored(false);
  Integer R = S->AppendRecord();
  S->SetValue(R, Num, Variant(5));
  S->SetValue(R, Hidden, Variant(9));
  S->SetDisplayText(R, Num, u"five");
  // ID 1, value 5, the text as a wide counted string; the hidden value is not written.
  TBytes Expected = Signed({0, 1, 0, 0, 0, 0, 5, 0, 0, 0, 4, 0, 0, 0, 'f', 0, 'i', 0, 'v', 0, 'e', 0});
  EXPECT_EQ(WriteRecord(S.get(), R), Expected);
  // The text is written for a Null value too.
  S->SetValue(R, Num, Null());
  EXPECT_EQ(WriteRecord(S.get(), R), Signed({0, 1, 0, 0, 0, 1, 4, 0, 0, 0, 'f', 0, 'i', 0, 'v', 0, 'e', 0}));

  // Reading a record with ID 10 makes the next ID 11; an ANSI record (no signature).
  Integer R2 = S->AppendRecord();
  EXPECT_EQ(S->GetRecordID(R2), 2);
  ReadRecord(S.get(), R2, {0, 10, 0, 0, 0, 0, 7, 0, 0, 0, 2, 0, 0, 0, 'h', 'i'});
  EXPECT_EQ(S->GetRecordID(R2), 10);
  EXPECT_EQ(S->GetValue(R2, Num).AsInteger(), 7);
  EXPECT_EQ(S->GetDisplayText(R2, Num), u"hi");
  EXPECT_EQ(S->GetRecordID(S->AppendRecord()), 11);
}

TEST(vlDataStorage, RecordIDsRestartWhenEmpty) {
  TStoragePtr S(New<TvlDataStorage>());
  S->ValueDefs()->Add(ClassOf<TvlIntegerValueType>(), true, false, nullptr);
  S->SetUseRecordID(true);
  for (Integer I = 0; I < 3; ++I) EXPECT_EQ(S->GetRecordID(S->AppendRecord()), I + 1);
  S->InsertRecord(1);
  EXPECT_EQ(S->GetRecordID(1), 4);
  while (S->RecordCount() > 0) S->DeleteRecord(0);
  EXPECT_EQ(S->GetRecordID(S->AppendRecord()), 1);
  S->SetRecordCount(-5);
  EXPECT_EQ(S->RecordCount(), 0);
}

TEST(vlDataStorage, RecordWithoutBuffer) {
  TStoragePtr S(New<TvlDataStorage>());
  TvlValueDef* D = S->ValueDefs()->Add(ClassOf<TvlIntegerValueType>(), true, false, nullptr);
  Integer R = S->AppendRecord();
  EXPECT_FALSE(S->HasBuffer(R));
  EXPECT_TRUE(VarIsNull(S->GetValue(R, D)));
  EXPECT_EQ(S->GetDisplayText(R, D), u"");
  EXPECT_EQ(WriteRecord(S.get(), R), Signed({1}));
  S->SetValue(R, D, Variant(3));
  ReadRecord(S.get(), R, Signed({1}));
  EXPECT_FALSE(S->HasBuffer(R));
  EXPECT_LT(S->CompareRecords(R, S->AppendRecord(), D), 1);
}

// Taking values: a text changes hands (the variant is left Empty), other
// values are stored as SetValue stores them, Null and Empty clear the slot.
TEST(vlDataStorage, TakeValueMovesTexts) {
  TStoragePtr S(New<TvlDataStorage>());
  TvlValueDef* Text = S->ValueDefs()->Add(ClassOf<TvlStringValueType>(), true, false, nullptr);
  TvlValueDef* Number = S->ValueDefs()->Add(ClassOf<TvlIntegerValueType>(), true, false, nullptr);
  Integer R = S->AppendRecord();
  Variant V(String(u"a text longer than a short string"));
  S->TakeValue(R, Text, V);
  EXPECT_TRUE(VarIsEmpty(V));
  EXPECT_EQ(VarToStr(S->GetValue(R, Text)), u"a text longer than a short string");
  Variant Again(String(u"second"));
  S->TakeValue(R, Text, Again);
  EXPECT_EQ(VarToStr(S->GetValue(R, Text)), u"second");
  Variant N(42);
  S->TakeValue(R, Number, N);
  EXPECT_EQ(S->GetValue(R, Number).AsInteger(), 42);
  Variant FromNumber(7);
  S->TakeValue(R, Text, FromNumber);
  EXPECT_EQ(VarToStr(S->GetValue(R, Text)), u"7");
  Variant Nothing = Null();
  S->TakeValue(R, Text, Nothing);
  EXPECT_TRUE(VarIsNull(S->GetValue(R, Text)));
  Variant Empty;
  S->TakeValue(R, Number, Empty);
  EXPECT_TRUE(VarIsNull(S->GetValue(R, Number)));
}

TEST(vlDataStorage, DefinitionsAddedAndFreedWithRecords) {
  TStoragePtr S(New<TvlDataStorage>());
  TvlValueDef* A = S->ValueDefs()->Add(ClassOf<TvlStringValueType>(), true, false, nullptr);
  for (Integer I = 0; I < 3; ++I) S->SetValue(S->AppendRecord(), A, Variant(String(u"v") + Char(u'0' + I)));
  TvlValueDef* B = S->ValueDefs()->Add(ClassOf<TvlIntegerValueType>(), true, true, nullptr);
  for (Integer I = 0; I < 3; ++I) {
    EXPECT_TRUE(VarIsNull(S->GetValue(I, B)));
    EXPECT_EQ(S->GetDisplayText(I, B), u"");
    S->SetValue(I, B, Variant(I * 10));
  }
  EXPECT_EQ(S->GetDisplayText(1, B), u"");  // text stored, none set
  // Freeing the first definition moves the second one's part down intact.
  Free(A);
  EXPECT_EQ(S->ValueDefs()->Count(), 1);
  EXPECT_EQ(S->InternalValueDefs()->Count(), 1);
  EXPECT_EQ(S->GetValue(2, B).AsInteger(), 20);
  EXPECT_TRUE(S->HasBuffer(2));
  // The only stored definition: every buffer goes.
  Free(B);
  for (Integer I = 0; I < 3; ++I) EXPECT_FALSE(S->HasBuffer(I));
  EXPECT_EQ(S->InternalValueDefs()->Count(), 0);
}

// Record buffers come from the storage's blocks: buffers freed one by one
// are reused clean, a definition added later grows every buffer with its
// values intact, and clearing gives every block back.
TEST(vlDataStorage, RecordBuffersFromBlocks) {
  TStoragePtr S(New<TvlDataStorage>());
  TvlValueDef* Text = S->ValueDefs()->Add(ClassOf<TvlStringValueType>(), true, true, nullptr);
  TvlValueDef* Number = S->ValueDefs()->Add(ClassOf<TvlFloatValueType>(), true, false, nullptr);
  constexpr Integer kCount = 3000;  // several blocks
  auto TextOf = [](Integer I) { return String(u"record text number ") + IntToStr(I); };
  S->SetRecordCount(kCount);
  for (Integer I = 0; I < kCount; ++I) {
    Variant V(TextOf(I));
    S->TakeValue(I, Text, V);
    S->SetValue(I, Number, Variant(I * 0.5));
    S->SetDisplayText(I, Text, IntToStr(I));
  }
  const size_t Held = S->RecordBytesHeld();
  EXPECT_GT(Held, size_t(kCount) * Number->BufferSize());
  // Freed buffers: a deleted record and a record read back as "no buffer".
  S->DeleteRecord(10);
  ReadRecord(S.get(), 20, Signed({1}));
  EXPECT_FALSE(S->HasBuffer(20));
  // New buffers take the freed places and start empty.
  for (Integer R : {S->AppendRecord(), 20}) {
    S->SetValue(R, Number, Variant(1.25));
    EXPECT_TRUE(VarIsNull(S->GetValue(R, Text)));
    EXPECT_EQ(S->GetDisplayText(R, Text), u"");
    EXPECT_EQ(S->GetValue(R, Number).AsDouble(), 1.25);
  }
  EXPECT_EQ(S->RecordBytesHeld(), Held);
  // A definition added while values exist: every buffer grows, values stay.
  TvlValueDef* Later = S->ValueDefs()->Add(ClassOf<TvlIntegerValueType>(), true, false, nullptr);
  for (Integer I : {Integer(0), Integer(9), Integer(10), Integer(kCount - 2)}) {
    EXPECT_EQ(VarToStr(S->GetValue(I, Text)), TextOf(I + 1 - (I < 10))) << I;
    EXPECT_EQ(S->GetDisplayText(I, Text), IntToStr(I + 1 - (I < 10))) << I;
    EXPECT_TRUE(VarIsNull(S->GetValue(I, Later)));
    S->SetValue(I, Later, Variant(I));
    EXPECT_EQ(S->GetValue(I, Later).AsInteger(), I);
  }
  EXPECT_EQ(S->GetValue(kCount - 1, Number).AsDouble(), 1.25);
  // Clearing the buffers keeps the records and gives the blocks back.
  S->ClearRecords(false);
  EXPECT_EQ(S->RecordCount(), kCount);
  EXPECT_EQ(S->RecordBytesHeld(), size_t(0));
  EXPECT_TRUE(VarIsNull(S->GetValue(5, Text)));
  S->SetValue(5, Later, Variant(8));
  EXPECT_EQ(S->GetValue(5, Later).AsInteger(), 8);
  // Deleting the last record does too.
  S->SetRecordCount(1);
  S->DeleteRecord(0);
  EXPECT_EQ(S->RecordBytesHeld(), size_t(0));
}

TEST(vlDataStorage, DisplayTexts) {
  TStoragePtr S(New<TvlDataStorage>());
  TvlValueDef* Plain = S->ValueDefs()->Add(ClassOf<TvlIntegerValueType>(), true, false, nullptr);
  Integer R = S->AppendRecord();
  S->SetValue(R, Plain, Variant(42));
  S->SetDisplayText(R, Plain, u"ignored");
  EXPECT_EQ(S->GetDisplayText(R, Plain), u"42");
}

TEST(vlDataStorage, InternalRecordsReuseSlots) {
  TStoragePtr S(New<TvlDataStorage>());
  TvlValueDef* D = S->ValueDefs()->Add(ClassOf<TvlStringValueType>(), true, false, nullptr);
  EXPECT_EQ(S->AddInternalRecord(), -1);
  EXPECT_EQ(S->AddInternalRecord(), -2);
  S->SetValue(-2, D, Variant(String(u"x")));
  EXPECT_EQ(S->GetValue(-2, D).AsString(), u"x");
  S->DeleteRecord(-1);
  EXPECT_EQ(S->AddInternalRecord(), -1);
  EXPECT_EQ(S->AddInternalRecord(), -3);
  S->ClearInternalRecords();
  EXPECT_EQ(S->InternalRecordCount(), 0);
}

TEST(vlDataStorage, StoredValuesOnlyKeepsInternalTwins) {
  TStoragePtr S(New<TvlDataStorage>());
  TvlValueDef* Kept = S->ValueDefs()->Add(ClassOf<TvlIntegerValueType>(), true, false, nullptr);
  TvlValueDef* Loose = S->ValueDefs()->Add(ClassOf<TvlIntegerValueType>(), false, false, nullptr);
  Integer R = S->AppendRecord();
  S->SetValue(R, Loose, Variant(1));
  S->SetStoredValuesOnly(true);
  EXPECT_FALSE(S->HasBuffer(R));  // the buffers were laid out for the other layout
  EXPECT_EQ(Loose->BufferSize(), 0);
  EXPECT_EQ(S->ValueDefs()->RecordSize(), 1 + 1 + 4);
  S->SetValue(R, Loose, Variant(2));
  S->SetValue(R, Kept, Variant(3));
  EXPECT_TRUE(VarIsNull(S->GetValue(R, Loose)));
  EXPECT_EQ(WriteRecord(S.get(), R), Signed({0, 0, 3, 0, 0, 0}));
  Integer I = S->AddInternalRecord();
  S->SetValue(I, Loose, Variant(4));
  EXPECT_EQ(S->GetValue(I, Loose).AsInteger(), 4);
}

// Mended: a failed conversion leaves the slot Null; an object slot read
// from a stream stays Null (nothing of it is streamed).
TEST(vlDataStorage, FailedStoresAndObjectSlotsStayNull) {
  TStoragePtr S(New<TvlDataStorage>());
  TvlValueDef* Num = S->ValueDefs()->Add(ClassOf<TvlIntegerValueType>(), true, false, nullptr);
  TvlValueDef* Obj = S->ValueDefs()->Add(ClassOf<TvlObjectValueType>(), true, false, nullptr);
  Integer R = S->AppendRecord();
  S->SetValue(R, Num, Variant(8));
  EXPECT_THROW(S->SetValue(R, Num, Variant(String(u"abc"))), EVariantError);
  EXPECT_TRUE(VarIsNull(S->GetValue(R, Num)));
  EXPECT_EQ(WriteRecord(S.get(), R), Signed({0, 1, 1}));
  ReadRecord(S.get(), R, Signed({0, 1, 0}));
  EXPECT_TRUE(VarIsNull(S->GetValue(R, Obj)));
}

// Mended: a definition's layout cannot change under existing buffers.
TEST(vlDataStorage, DefinitionChangesRefusedWhileBuffersExist) {
  TStoragePtr S(New<TvlDataStorage>());
  TvlValueDef* D = S->ValueDefs()->Add(ClassOf<TvlSmallintValueType>(), true, false, nullptr);
  D->SetTextStored(true);  // no record yet: laid out again
  EXPECT_EQ(D->BufferSize(), 1 + 2 + static_cast<Integer>(sizeof(void*)));
  Integer R = S->AppendRecord();
  S->SetValue(R, D, Variant(SmallInt(1)));
  EXPECT_THROW(D->SetValueTypeClass(ClassOf<TvlLargeIntValueType>()), EInvalidOperation);
  EXPECT_THROW(D->SetTextStored(false), EInvalidOperation);
  EXPECT_THROW(D->SetStored(false), EInvalidOperation);
  EXPECT_EQ(S->GetValue(R, D).AsInteger(), 1);
  S->ClearRecords(false);
  D->SetValueTypeClass(ClassOf<TvlLargeIntValueType>());
  S->SetValue(R, D, Variant(Int64(1) << 40));
  EXPECT_EQ(S->GetValue(R, D).AsInt64(), Int64(1) << 40);
}

TEST(vlDataStorage, DamagedRecordStreams) {
  TStoragePtr S(New<TvlDataStorage>());
  TvlValueDef* D = S->ValueDefs()->Add(ClassOf<TvlStringValueType>(), true, false, nullptr);
  Integer R = S->AppendRecord();
  EXPECT_THROW(ReadRecord(S.get(), R, Signed({0, 0, 0xFF, 0xFF, 0xFF, 0x7F})), EReadError);
  EXPECT_TRUE(VarIsNull(S->GetValue(R, D)));
  EXPECT_THROW(ReadRecord(S.get(), R, {0}), EReadError);
}

// While streaming, the definitions are seen in the order given.
TEST(vlDataStorage, StreamingOrderAndRecordCopies) {
  TStoragePtr S(New<TvlDataStorage>());
  TvlValueDef* A = S->ValueDefs()->Add(ClassOf<TvlBooleanValueType>(), true, false, nullptr);
  TvlValueDef* B = S->ValueDefs()->Add(ClassOf<TvlSmallintValueType>(), true, false, nullptr);
  Integer R = S->AppendRecord();
  S->SetValue(R, A, Variant(true));
  S->SetValue(R, B, Variant(SmallInt(2)));
  EXPECT_EQ(WriteRecord(S.get(), R), Signed({0, 0, 1, 0, 2, 0}));
  S->BeginStreaming([](void* X, void* Y) {
    return static_cast<TvlValueDef*>(X)->DataSize() > static_cast<TvlValueDef*>(Y)->DataSize() ? -1 : 1;
  });
  EXPECT_EQ(S->ValueDefs()->Items(0), B);
  EXPECT_EQ(WriteRecord(S.get(), R), Signed({0, 0, 2, 0, 0, 1}));
  S->EndStreaming();
  EXPECT_EQ(S->ValueDefs()->Items(0), A);

  // ReadRecordFrom hands every definition to the caller's procedure.
  std::unique_ptr<TCopier, TObjectFree> Copier(New<TCopier>());
  Copier->Storage = S.get();
  Integer I = S->AddInternalRecord();
  S->ReadRecordFrom(R, I, TvlValueDefSetProc(Copier.get(), &TCopier::Copy), nullptr);
  EXPECT_EQ(S->GetValue(I, B).AsInteger(), 2);
  EXPECT_TRUE(S->GetValue(I, A).AsBoolean());
}

TEST(vlLookupList, FindGivesIndexOrInsertionPoint) {
  std::unique_ptr<TvlLookupList, TObjectFree> L(New<TvlLookupList>());
  Integer Index = -1;
  EXPECT_FALSE(L->Find(Variant(5), Index));
  EXPECT_EQ(Index, 0);
  L->Insert(0, Variant(5), u"five");
  L->Insert(0, Variant(1), u"one");
  EXPECT_TRUE(L->Find(Variant(5), Index));
  EXPECT_EQ(Index, 1);
  EXPECT_EQ(L->DisplayText(Index), u"five");
  EXPECT_FALSE(L->Find(Variant(3), Index));
  EXPECT_EQ(Index, 1);
}

}  // namespace
