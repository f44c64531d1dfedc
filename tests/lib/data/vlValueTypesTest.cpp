#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "lib/data/vlValueTypes.h"
#include "lib/foundation/vlVariants.h"
#include "platform/classes/Streams.h"
#include "platform/rtl/FMTBcd.h"
#include "platform/rtl/Locale.h"
#include "platform/rtl/SqlTimSt.h"
#include "platform/rtl/Variants.h"

namespace {

using TStreamPtr = std::unique_ptr<TMemoryStream, TObjectFree>;

// Two value slots inside one buffer, the second one byte off alignment, as
// record buffers pack them.
class TSlots {
 public:
  explicit TSlots(TvlValueTypeClass AType) : Type(AType), Bytes(2 * 64 + 1, 0) {}
  ~TSlots() {
    Type->ReleaseData(A());
    Type->ReleaseData(B());
  }
  void* A() { return Bytes.data(); }
  void* B() { return Bytes.data() + 65; }
  TvlValueTypeClass Type;
  std::vector<Byte> Bytes;
};

// A stream for a writer: with the Unicode signature (followed by a byte that
// the writer overwrites, since the signature test needs more than six bytes
// left) or empty.
TStreamPtr SignedStream(Boolean Unicode) {
  TStreamPtr Stream(New<TMemoryStream>());
  if (Unicode) Stream->WriteBuffer("NBUFMT", 7);
  Stream->SetPosition(0);
  return Stream;
}

TvlValueTypeClass Registered(const char16_t* Caption) {
  TvlValueTypeClass C = vlGetValueTypeRegistry()->ItemByCaption(Caption);
  EXPECT_TRUE(C.Class() != nullptr) << "no value type";
  return C;
}

TEST(vlValueTypes, RegistryHoldsTheFourteenInOrder) {
  const char16_t* Captions[] = {u"String",  u"WideString",   u"Smallint", u"Integer",  u"Word",
                                u"Boolean", u"Float",        u"Currency", u"DateTime", u"LargeInt",
                                u"FMTBcd",  u"SQLTimeStamp", u"Variant",  u"Object"};
  TvlValueTypeClassList* R = vlGetValueTypeRegistry();
  ASSERT_EQ(R->Count(), 14);
  for (Integer I = 0; I < 14; ++I) EXPECT_EQ(R->Items(I)->Caption(), Captions[I]);
  EXPECT_TRUE(R->ItemByCaption(u"string").Class() == nullptr);
  EXPECT_TRUE(R->ItemByCaption(u"String").Class() == TvlStringValueType::StaticClass());
  R->RegisterItem(ClassOf<TvlStringValueType>());
  EXPECT_EQ(R->Count(), 14);
  EXPECT_TRUE(vlIsDateValueTypeClass(ClassOf<TvlDateTimeValueType>()));
  EXPECT_TRUE(vlIsDateValueTypeClass(ClassOf<TvlSQLTimeStampValueType>()));
  EXPECT_FALSE(vlIsDateValueTypeClass(ClassOf<TvlFloatValueType>()));
}

struct TTypeCase {
  const char16_t* Caption;
  TVarType VarType;  // 0: the custom code, checked apart
  Integer Size;
  Variant Low, High;
  Boolean IsString;
};

TEST(vlValueTypes, StoreLoadAndCompareEveryType) {
  const TTypeCase Cases[] = {
      {u"String", varUString, sizeof(void*), Variant(String(u"a")), Variant(String(u"b")), true},
      {u"WideString", varOleStr, sizeof(void*), Variant(String(u"A")), Variant(String(u"a")), true},
      {u"Smallint", varSmallint, 2, Variant(SmallInt(-32768)), Variant(SmallInt(32767)), false},
      {u"Integer", varInteger, 4, Variant(Integer(-1)), Variant(Integer(2147483647)), false},
      {u"Word", varWord, 2, Variant(Word(0)), Variant(Word(65535)), false},
      {u"Boolean", varBoolean, 1, Variant(true), Variant(false), false},  // True = -1 comes first
      {u"Float", varDouble, 8, Variant(-0.5), Variant(0.25), false},
      {u"Currency", varCurrency, 8, Variant(Currency::FromRaw(-1)), Variant(Currency::FromRaw(1)), false},
      {u"DateTime", varDate, 8, VarFromDateTime(100.5), VarFromDateTime(100.75), false},
      {u"LargeInt", varInt64, 8, Variant(Int64(INT64_MIN)), Variant(Int64(INT64_MAX)), false},
      {u"FMTBcd", 0, 34, VarFMTBcdCreate(StrToBcd(u"-12")), VarFMTBcdCreate(StrToBcd(u"3")), false},
      {u"SQLTimeStamp", 0, 16, VarSQLTimeStampCreate(TSQLTimeStamp{2020, 1, 2, 3, 4, 5, 6}),
       VarSQLTimeStampCreate(TSQLTimeStamp{2020, 1, 2, 3, 4, 5, 7}), false},
      {u"Variant", varVariant, sizeof(void*), Variant(1), Variant(String(u"z")), false},
  };
  for (const TTypeCase& C : Cases) {
    SCOPED_TRACE(std::string(C.Caption, C.Caption + std::char_traits<char16_t>::length(C.Caption)));
    TvlValueTypeClass T = Registered(C.Caption);
    if (C.VarType != 0) {
      EXPECT_EQ(T->GetVarType(), C.VarType);
    }
    EXPECT_EQ(T->ValueSize(), C.Size);
    EXPECT_EQ(T->IsString(), C.IsString);
    TSlots S(T);
    T->StoreValue(S.A(), C.Low);
    T->StoreValue(S.B(), C.High);
    EXPECT_EQ(vlCompareVariants(T->GetValue(S.A()), C.Low), 0);
    EXPECT_EQ(vlCompareVariants(T->LoadValue(S.B()), C.High), 0);
    EXPECT_LT(T->CompareData(S.A(), S.B()), 0);
    EXPECT_GT(T->CompareData(S.B(), S.A()), 0);
    EXPECT_EQ(T->CompareData(S.A(), S.A()), 0);
    const void* P1 = S.A();
    const void* P2 = S.B();
    T->PrepareValueBuffer(P1);
    T->PrepareValueBuffer(P2);
    EXPECT_LT(T->CompareValues(P1, P2), 0);
  }
}

TEST(vlValueTypes, StreamRoundTripInBothPayloadKinds) {
  const TTypeCase Cases[] = {
      {u"String", 0, 0, Variant(String(u"Kontör")), Variant(), true},
      {u"WideString", 0, 0, Variant(String(u"ğ€")), Variant(), true},
      {u"Smallint", 0, 0, Variant(SmallInt(-3)), Variant(), false},
      {u"Integer", 0, 0, Variant(Integer(-70000)), Variant(), false},
      {u"Word", 0, 0, Variant(Word(65000)), Variant(), false},
      {u"Boolean", 0, 0, Variant(true), Variant(), false},
      {u"Float", 0, 0, Variant(0.1), Variant(), false},
      {u"Currency", 0, 0, Variant(Currency::FromRaw(123456789)), Variant(), false},
      {u"DateTime", 0, 0, VarFromDateTime(45000.123), Variant(), false},
      {u"LargeInt", 0, 0, Variant(Int64(-5000000000LL)), Variant(), false},
      {u"FMTBcd", 0, 0, VarFMTBcdCreate(StrToBcd(u"123456789012345678901")), Variant(), false},
      {u"SQLTimeStamp", 0, 0, VarSQLTimeStampCreate(TSQLTimeStamp{1999, 12, 31, 23, 59, 58, 0}), Variant(),
       false},
      {u"Variant", 0, 0, VarArrayOf({Variant(1), Variant(String(u"x"))}), Variant(), false},
  };
  for (Boolean Unicode : {false, true}) {
    for (const TTypeCase& C : Cases) {
      SCOPED_TRACE(std::string(C.Caption, C.Caption + std::char_traits<char16_t>::length(C.Caption)));
      TvlValueTypeClass T = Registered(C.Caption);
      TSlots S(T);
      T->StoreValue(S.A(), C.Low);
      TStreamPtr Stream = SignedStream(Unicode);
      std::unique_ptr<TvlWriter, TObjectFree> W(New<TvlWriter>(Stream.get()));
      EXPECT_EQ(W->IsUnicode(), Unicode);
      T->WriteValueTo(S.A(), W.get());
      Stream->WriteBuffer("\x7F", 1);  // a guard byte: each value reads exactly its own bytes
      Stream->SetPosition(0);
      std::unique_ptr<TvlReader, TObjectFree> R(New<TvlReader>(Stream.get()));
      EXPECT_EQ(R->IsUnicode(), Unicode);
      T->ReadValueFrom(S.B(), R.get());
      EXPECT_EQ(R->ReadByte(), 0x7F);
      EXPECT_EQ(T->CompareData(S.A(), S.B()), 0);
    }
  }
}

TEST(vlValueTypes, StringFormsAndNilSlots) {
  TvlValueTypeClass T = ClassOf<TvlStringValueType>();
  TSlots S(T);
  EXPECT_TRUE(VarIsNull(T->LoadValue(S.A())));
  T->StoreValue(S.B(), Variant(String()));
  EXPECT_LT(T->CompareData(S.A(), S.B()), 0);  // never set sorts before ""
  EXPECT_EQ(T->CompareData(S.A(), S.A()), 0);
  T->StoreValue(S.B(), Variant(42));
  EXPECT_EQ(T->LoadValue(S.B()).AsString(), u"42");
  EXPECT_EQ(VarType(T->LoadValue(S.B())), varUString);
  T->ReleaseData(S.B());
  EXPECT_TRUE(VarIsNull(T->LoadValue(S.B())));

  // The ANSI stream form of a non-Unicode stream, the wide form otherwise.
  T->StoreValue(S.A(), Variant(String(u"ab")));
  TStreamPtr Stream(New<TMemoryStream>());
  std::unique_ptr<TvlWriter, TObjectFree> W(New<TvlWriter>(Stream.get()));
  T->WriteValueTo(S.A(), W.get());
  ClassOf<TvlWideStringValueType>()->WriteValueTo(S.A(), W.get());
  EXPECT_EQ(Stream->Size(), 4 + 2 + 4 + 4);
}

TEST(vlValueTypes, TextSlots) {
  TvlValueTypeClass T = ClassOf<TvlIntegerValueType>();
  void* Slot = nullptr;
  EXPECT_EQ(T->GetStoredText(&Slot), u"");
  T->StoreText(&Slot, u"first");
  T->StoreText(&Slot, u"second");
  EXPECT_EQ(T->GetStoredText(&Slot), u"second");
  for (Boolean Unicode : {false, true}) {
    TStreamPtr Stream = SignedStream(Unicode);
    std::unique_ptr<TvlWriter, TObjectFree> W(New<TvlWriter>(Stream.get()));
    T->WriteTextTo(&Slot, W.get());
    EXPECT_EQ(Stream->Size(), (Unicode ? 6 + 4 + 12 : 4 + 6));
    EXPECT_EQ(W->IsUnicode(), Unicode);
    Stream->SetPosition(0);
    std::unique_ptr<TvlReader, TObjectFree> R(New<TvlReader>(Stream.get()));
    void* Back = nullptr;
    T->ReadTextFrom(&Back, R.get());
    EXPECT_EQ(T->GetStoredText(&Back), u"second");
    T->ReleaseText(&Back);
    EXPECT_EQ(Back, nullptr);
  }
  T->ReleaseText(&Slot);
  EXPECT_EQ(Slot, nullptr);
}

TEST(vlValueTypes, IsValueValid) {
  struct {
    const char16_t* Caption;
    Variant Value;
    Boolean Valid;
    TVarType After;
  } Cases[] = {
      {u"Integer", Variant(String(u"12")), true, varInteger},
      {u"Integer", Variant(String(u"abc")), false, varUString},
      {u"Integer", Variant(Int64(1) << 40), false, varInt64},
      {u"Integer", Null(), true, varNull},
      {u"Smallint", Variant(70000), false, varInteger},
      {u"Float", Variant(String(u"abc")), false, varUString},
      {u"Boolean", Variant(1), true, varBoolean},
      {u"Variant", Variant(String(u"abc")), true, varUString},
      {u"String", Variant(5), true, varUString},
      {u"DateTime", Variant(String(u"nonsense")), false, varUString},
  };
  for (auto& C : Cases) {
    Variant V = C.Value;
    EXPECT_EQ(Registered(C.Caption)->IsValueValid(V), C.Valid) << static_cast<int>(VarType(C.Value));
    EXPECT_EQ(VarType(V), C.After);
  }
  Variant V = String(u"12");
  ASSERT_TRUE(ClassOf<TvlIntegerValueType>()->IsValueValid(V));
  EXPECT_EQ(V.AsInteger(), 12);
  Variant Bcd = String(u"1.5");
  SetSystemLocale(TSystemLocale::EnglishUS);
  EXPECT_TRUE(ClassOf<TvlFMTBcdValueType>()->IsValueValid(Bcd));
  EXPECT_TRUE(VarIsFMTBcd(Bcd));
  SetSystemLocale(TSystemLocale::Turkish);
}

TEST(vlValueTypes, DefaultTexts) {
  SetSystemLocale(TSystemLocale::EnglishUS);
  Byte Buffer[64] = {};
  ClassOf<TvlBooleanValueType>()->StoreValue(Buffer, Variant(true));
  EXPECT_EQ(Buffer[0], 1);
  EXPECT_EQ(ClassOf<TvlBooleanValueType>()->DefaultText(Buffer), u"True");
  ClassOf<TvlFloatValueType>()->StoreValue(Buffer, Variant(2.5));
  EXPECT_EQ(ClassOf<TvlFloatValueType>()->DefaultText(Buffer), u"2.5");
  ClassOf<TvlFMTBcdValueType>()->StoreValue(Buffer, VarFMTBcdCreate(StrToBcd(u"-1.50")));
  EXPECT_EQ(ClassOf<TvlFMTBcdValueType>()->DefaultText(Buffer), u"-1.5");
  ClassOf<TvlDateTimeValueType>()->StoreValue(Buffer, VarFromDateTime(2.0));
  EXPECT_EQ(ClassOf<TvlDateTimeValueType>()->DefaultText(Buffer), u"1/1/1900");
  EXPECT_EQ(ClassOf<TvlValueType>()->DefaultText(Buffer), u"");
  EXPECT_TRUE(VarIsNull(ClassOf<TvlValueType>()->LoadValue(Buffer)));
  SetSystemLocale(TSystemLocale::Turkish);
}

TEST(vlValueTypes, ObjectSlotsOwnTheirObjectAndStreamNothing) {
  TvlValueTypeClass T = ClassOf<TvlObjectValueType>();
  EXPECT_EQ(T->Caption(), u"Object");
  EXPECT_EQ(T->ValueSize(), static_cast<Integer>(sizeof(void*)));
  TSlots S(T);
  TObject* Obj = New<TObject>();
  T->StoreValue(S.A(), Variant(static_cast<Int64>(reinterpret_cast<intptr_t>(Obj))));
  EXPECT_EQ(T->LoadValue(S.A()).AsInt64(), reinterpret_cast<intptr_t>(Obj));
  TStreamPtr Stream(New<TMemoryStream>());
  std::unique_ptr<TvlWriter, TObjectFree> W(New<TvlWriter>(Stream.get()));
  T->WriteValueTo(S.A(), W.get());
  EXPECT_EQ(Stream->Size(), 0);
  std::unique_ptr<TvlReader, TObjectFree> R(New<TvlReader>(Stream.get()));
  T->ReadValueFrom(S.B(), R.get());
  EXPECT_EQ(T->LoadValue(S.B()).AsInt64(), 0);
  T->ReleaseData(S.A());  // frees the object (the sanitizer would see a leak otherwise)
  EXPECT_EQ(T->LoadValue(S.A()).AsInt64(), 0);
}

TEST(vlValueTypes, VariantSlots) {
  TvlValueTypeClass T = ClassOf<TvlVariantValueType>();
  TSlots S(T);
  EXPECT_TRUE(VarIsNull(T->LoadValue(S.A())));
  T->StoreValue(S.B(), Null());
  EXPECT_LT(T->CompareData(S.A(), S.B()), 0);  // nil before any value, Null included
  T->StoreValue(S.A(), Variant(String(u"abc")));
  T->StoreValue(S.B(), Variant(5));
  EXPECT_GT(T->CompareData(S.A(), S.B()), 0);
  EXPECT_LT(T->CompareData(S.B(), S.A()), 0);
}

}  // namespace
