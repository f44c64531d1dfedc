#include "lib/foundation/nbCore.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "platform/classes/Resources.h"
#include "platform/classes/Streams.h"
#include "platform/rtl/CodePages.h"
#include "platform/rtl/Locale.h"
#include "platform/rtl/Variants.h"
#include "platform/win/Gdi.h"

namespace {

using StreamPtr = std::unique_ptr<TMemoryStream, TObjectFree>;

StreamPtr MakeStream(const std::string& Bytes, Int64 Position = 0) {
  StreamPtr s(New<TMemoryStream>());
  if (!Bytes.empty()) s->WriteBuffer(Bytes.data(), static_cast<Integer>(Bytes.size()));
  s->SetPosition(Position);
  return s;
}

// --- Resource strings ------------------------------------------------------------------

const TResStringRec kFirstEqual = ResStringOfText(u"equals");
const TResStringRec kSecondEqual = ResStringOfText(u"is equal to");
const TResStringRec kLess = ResStringOfText(u"less than");

void AddFirstProduct(TnbProductResourceStrings* P) {
  P->Add(u"vlSFilterOperatorLess", &kLess);
  P->Add(u"vlSFilterOperatorEqual", &kFirstEqual);
}
void AddSecondProduct(TnbProductResourceStrings* P) {
  P->Add(u"vlSFilterOperatorEqual", &kSecondEqual);
  P->Add(u"VLSFILTEROPERATOREQUAL", &kLess);  // same identifier in other case: ignored
}

// A repository of its own per test, so that products of other tests do not interfere.
class RepositoryTest : public ::testing::Test {
 protected:
  void SetUp() override { Repo = New<TnbResourceStringsRepository>(); }
  void TearDown() override { Free(Repo); }
  TnbResourceStringsRepository* Repo{};
};

TEST_F(RepositoryTest, LookupsByProductAndIdentifier) {
  Repo->RegisterProduct(u"NimboDataFilter", &AddFirstProduct);
  Repo->RegisterProduct(u"NimboGrid", &AddSecondProduct);
  Repo->RegisterProduct(u"NimboGrid", &AddFirstProduct);  // a second product of the same name is kept
  ASSERT_EQ(Repo->ProductsCount(), 3);

  TnbProductResourceStrings* second = Repo->Products(1);
  EXPECT_EQ(second->ResStringsCount(), 1);  // the duplicate identifier kept its first record
  EXPECT_EQ(second->ResStrings(0), &kSecondEqual);

  struct Case {
    const char16_t* Product;
    Integer Index;
  };
  for (const Case& c :
       {Case{u"NimboDataFilter", 0}, Case{u"NimboGrid", 1}, Case{u"nimbogrid", -1}, Case{u"", -1}})
    EXPECT_EQ(Repo->GetProductIndexByName(c.Product), c.Index) << String(c.Product).size();

  TnbProductResourceStrings* first = Repo->Products(0);
  struct IdCase {
    const char16_t* Name;
    Integer Index;
  };
  // Sorted order: Equal before Less; identifiers compare without regard to case.
  for (const IdCase& c : {IdCase{u"vlSFilterOperatorEqual", 0}, IdCase{u"VLSFILTEROPERATORLESS", 1},
                          IdCase{u"vlsfilteroperatorequal", 0}, IdCase{u"vlSFilterOperator", -1}})
    EXPECT_EQ(first->GetIndexByName(c.Name), c.Index);
  EXPECT_EQ(first->Names(0), u"vlSFilterOperatorEqual");
  EXPECT_EQ(first->Values(1), u"less than");

  // The first product registered that has the identifier answers.
  EXPECT_EQ(Repo->GetOriginalValue(u"vlSFilterOperatorEqual"), u"equals");
  EXPECT_EQ(Repo->GetOriginalValue(u"vlSUnknown"), u"");
}

TEST_F(RepositoryTest, UnRegisterProductComparesNamesWithCase) {
  Repo->RegisterProduct(u"NimboGrid", &AddFirstProduct);
  Repo->UnRegisterProduct(u"NIMBOGRID");
  EXPECT_EQ(Repo->ProductsCount(), 1);
  Repo->UnRegisterProduct(u"Unknown");
  EXPECT_EQ(Repo->ProductsCount(), 1);
  Repo->UnRegisterProduct(u"NimboGrid");
  EXPECT_EQ(Repo->ProductsCount(), 0);
}

struct TranslationLog {
  std::vector<String> Names;
  std::vector<Pointer> Records;
  void Translate(const String& AName, Pointer ARec) {
    Names.push_back(AName);
    Records.push_back(ARec);
  }
};

TEST_F(RepositoryTest, TranslateVisitsProductsOnlyWithAHandler) {
  Repo->RegisterProduct(u"A", &AddFirstProduct);
  Repo->RegisterProduct(u"B", &AddSecondProduct);
  Repo->Translate();  // no handler: nothing happens

  TranslationLog log;
  Repo->SetOnTranslateResString(TnbLocalizationTranslateResStringEvent(&log, &TranslationLog::Translate));
  Repo->Translate();
  EXPECT_EQ(log.Names, (std::vector<String>{u"vlSFilterOperatorEqual", u"vlSFilterOperatorLess",
                                            u"vlSFilterOperatorEqual"}));
  EXPECT_EQ(log.Records[2], &kSecondEqual);
}

class CountingListener : public TNoRefCountObject, public InbLocalizerListener {
  CL_CLASS(CountingListener, TNoRefCountObject)
 public:
  void TranslationChanged() override {
    ++Calls;
    if (Remove) Repo->RemoveListener(Remove);
  }
  Integer Calls = 0;
  TnbResourceStringsRepository* Repo{};
  InbLocalizerListener* Remove{};
};

CL_IMPLEMENT_CLASS(CountingListener)

TEST_F(RepositoryTest, ListenersAreUniqueAndRemovedOnesAreNotCalled) {
  std::unique_ptr<CountingListener, TObjectFree> a(New<CountingListener>()), b(New<CountingListener>());
  Repo->AddListener(a.get());
  Repo->AddListener(a.get());
  Repo->AddListener(b.get());
  Repo->NotifyListeners();
  EXPECT_EQ(a->Calls, 1);
  EXPECT_EQ(b->Calls, 1);

  // A listener that removes a later one during the notification: the later one is skipped.
  a->Repo = Repo;
  a->Remove = b.get();
  Repo->NotifyListeners();
  EXPECT_EQ(a->Calls, 2);
  EXPECT_EQ(b->Calls, 1);
  Repo->RemoveListener(b.get());  // absent: nothing
  Repo->RemoveListener(a.get());
  Repo->NotifyListeners();
  EXPECT_EQ(a->Calls, 2);
}

// A string table block holding entries 64544 ("Cancel") and 64545 (empty) of
// the program's resources, as the resource embedder stores it.
std::vector<Byte> StringBlock() {
  std::vector<Byte> b;
  auto put = [&](const String& s) {
    b.push_back(Byte(s.size() & 0xFF));
    b.push_back(Byte(s.size() >> 8));
    for (Char c : s) {
      b.push_back(Byte(c & 0xFF));
      b.push_back(Byte(c >> 8));
    }
  };
  put(u"İptal");
  for (int i = 1; i < 16; ++i) put(u"");
  return b;
}

TEST(ResourceStringText, ReadsTheProgramsStringTableThroughTheLoaders) {
  static const std::vector<Byte> block = StringBlock();
  static const TResourceEntry entries[] = {{nullptr, 6, nullptr, 64544 / 16 + 1, block.data(), block.size()}};
  RegisterResources(entries, 1);
  const TResStringRec rec{nullptr, 64544};
  const TResStringRec empty{nullptr, 64545};
  const TResStringRec missing{nullptr, 64600};
  EXPECT_EQ(vlGetResourceStringText(rec), u"İptal");
  EXPECT_EQ(vlGetResourceStringText(empty), u"");
  EXPECT_EQ(vlGetResourceStringText(missing), u"");
  EXPECT_EQ(vlGetResourceStringText(nullptr), u"");

  // A translating loader installed later changes what every caller reads.
  TResStringLoaders old = SetResStringLoaders(
      {[](PResStringRec R) -> String { return u"[" + DefaultLoadResString(R) + u"]"; }, nullptr, nullptr});
  EXPECT_EQ(vlGetResourceStringText(rec), u"[İptal]");
  EXPECT_EQ(LoadResStr(64544), u"[İptal]");
  SetResStringLoaders(old);
  EXPECT_EQ(vlGetResourceStringText(rec), u"İptal");
  UnregisterResources(entries, 1);
}

TEST(ResourceStringRepository, ProcessWideRepositoryIsMadeOnFirstUse) {
  TnbResourceStringsRepository* r = nbResourceStringsRepository();
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(nbResourceStringsRepository(), r);
}

// --- Payload signature -------------------------------------------------------------------------

TEST(PayloadSignature, ProbesOnlyWhenMoreThanSixBytesRemain) {
  struct Case {
    std::string Bytes;
    Int64 Start;
    bool Unicode;
    Int64 After;
  };
  const Case cases[] = {
      {"", 0, false, 0},           {"NBUFMT", 0, false, 0},  // exactly the signature: not probed
      {"NBUFMT\x01", 0, true, 6},                            // one more byte: consumed
      {"NBAFMT\x01", 0, false, 6},                           // ANSI payload: consumed
      {"NBUFMU\x01", 0, false, 0},                           // last byte differs: put back
      {"nbufmt\x01", 0, false, 0},                           // case matters
      {"xxNBUFMTz", 2, true, 8},                             // from the current position
      {"xxNBUFMT", 2, false, 2},
  };
  for (const Case& c : cases) {
    StreamPtr s = MakeStream(c.Bytes, c.Start);
    EXPECT_EQ(nbReadStreamSignature(s.get()), c.Unicode) << c.Bytes;
    EXPECT_EQ(s->Position(), c.After) << c.Bytes;
  }
}

TEST(PayloadSignature, WrittenSignatureReadsBackAsUnicode) {
  StreamPtr s = MakeStream("");
  nbWriteUnicodeSignature(s.get());
  s->WriteBuffer("\x02\x00", 2);
  EXPECT_EQ(s->Size(), 8);
  s->SetPosition(0);
  std::unique_ptr<TnbStream, TObjectFree> wrapper(New<TnbStream>(s.get()));
  EXPECT_TRUE(wrapper->IsUnicode());
  EXPECT_EQ(wrapper->Position(), 6);
  EXPECT_EQ(wrapper->Size(), 8);
  Word w = 0;
  EXPECT_EQ(wrapper->Read(&w, 2), 2);
  EXPECT_EQ(w, 2);
}

TEST(PayloadSignature, StreamWithoutSignatureIsAnsiAndUntouched) {
  StreamPtr s =
      MakeStream(std::string("\x03\x00"
                             "abc",
                             5));
  std::unique_ptr<TnbStream, TObjectFree> wrapper(New<TnbStream>(s.get()));
  EXPECT_FALSE(wrapper->IsUnicode());
  EXPECT_EQ(nbReadCountedString(wrapper.get(), wrapper->IsUnicode()), u"abc");
}

TEST(CountedString, ReadsUnicodeAndUtf8Payloads) {
  struct Case {
    std::string Bytes;
    bool Unicode;
    String Text;
  };
  const Case cases[] = {
      {std::string("\x00\x00", 2), true, u""},
      {std::string("\x02\x00\x31\x01\x5F\x01", 6), true, u"ış"},
      {std::string("\x04\x00\xC4\xB1\xC5\x9F", 6), false, u"ış"},
      {std::string("\x01\x00\x41", 3), false, u"A"},
  };
  for (const Case& c : cases) {
    StreamPtr s = MakeStream(c.Bytes);
    EXPECT_EQ(nbReadCountedString(s.get(), c.Unicode), c.Text);
    EXPECT_EQ(s->Position(), s->Size());
  }
  // A count beyond the data is the stream's read error.
  for (bool unicode : {true, false}) {
    StreamPtr s =
        MakeStream(std::string("\x05\x00"
                               "ab",
                               4));
    EXPECT_THROW(nbReadCountedString(s.get(), unicode), EReadError);
  }
  StreamPtr oneByte = MakeStream("\x05");
  EXPECT_THROW(nbReadCountedString(oneByte.get(), true), EReadError);
}

// --- Conversions ------------------------------------------------------------------------------

TEST(HexConversions, RoundTripAndBadInput) {
  struct Case {
    AnsiString Bytes;
    String Hex;
  };
  const Case cases[] = {{"abc", u"616263"}, {"", u""}, {std::string("\x00\xFF\x0A", 3), u"00FF0A"}};
  for (const Case& c : cases) {
    EXPECT_EQ(nbStringToHex(c.Bytes), c.Hex);
    EXPECT_EQ(nbHexToString(c.Hex), c.Bytes);
    EXPECT_EQ(nbBufferToHex(c.Bytes.data(), static_cast<Integer>(c.Bytes.size())), c.Hex);
  }
  EXPECT_EQ(nbHexToString(u"616"), "a");    // an odd last digit is ignored
  EXPECT_EQ(nbHexToString(u"ff"), "\xFF");  // either case
  EXPECT_EQ(nbHexToString(u"6"), "");
  EXPECT_THROW(nbHexToString(u"6G"), EConvertError);
  EXPECT_THROW(nbHexToString(u"61 2"), EConvertError);
}

TEST(TextConversions, CodePagesAndUtf8) {
  struct Case {
    AnsiString Bytes;
    Cardinal CodePage;
    String Text;
  };
  const Case cases[] = {
      {"Kont\xF6r", 1254, u"Kontör"},
      {"\xFD\xFE\xDD", 1254, u"ışİ"},
      {"\xFD\xFE\xDD", 1252, u"ýþÝ"},
      {"\xC4\xB1", CP_UTF8, u"ı"},
      {"", 1254, u""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(nbAnsiToUnicodeString(c.Bytes, c.CodePage), c.Text);
    EXPECT_EQ(nbUnicodeToAnsiString(c.Text, c.CodePage), c.Bytes);
  }
  EXPECT_EQ(nbUnicodeToAnsiString(u"ı€Ж", 1252), "?\x80?");  // not in the page: "?"
  EXPECT_EQ(nbAnsiToWide("abcdef", 1254, 3), u"abc");
  EXPECT_EQ(nbAnsiToWide("abc", 1254), u"abc");
  EXPECT_EQ(nbAnsiToWide(nullptr, 1254), u"");
  EXPECT_EQ(nbWideToAnsi(u"ışık", 1254, 2), "\xFD\xFE");
  EXPECT_EQ(nbWideToAnsi(nullptr, CP_UTF8), "");
}

TEST(TextConversions, ShortStringsHoldUtf8AndCutAtACharacter) {
  EXPECT_EQ(nbShortStringToUnicode(nbUnicodeToShortString(u"Sayaç")), u"Sayaç");
  String longText(200, u'ş');  // 400 bytes of UTF-8
  TShortString<255> s = nbUnicodeToShortString(longText);
  EXPECT_EQ(s.Length(), 254);
  EXPECT_EQ(nbShortStringToUnicode(s), String(127, u'ş'));
}

TEST(StreamStrings, ReadAndWriteTheWholeMemoryStream) {
  StreamPtr s = MakeStream("");
  EXPECT_EQ(nbWriteAnsiStringToStream(s.get(), std::string("a\0b", 3)), 3);
  EXPECT_EQ(nbWriteAnsiStringToStream(s.get(), ""), 0);
  s->SetPosition(0);
  EXPECT_EQ(nbReadStreamToAnsiString(s.get()), std::string("a\0b", 3));
  // From a later position the read cannot fill the string: the rest is zero.
  s->SetPosition(1);
  EXPECT_EQ(nbReadStreamToAnsiString(s.get()), std::string("\0b\0", 3));
}

TEST(VariantConversions, BlobsTextAndBytes) {
  SetSystemLocale(TSystemLocale::Turkish);
  Variant bytes = VarArrayCreate({0, 2}, varByte);
  VarArrayPut(bytes, Variant(Byte(0x41)), {0});
  VarArrayPut(bytes, Variant(Byte(0x00)), {1});
  VarArrayPut(bytes, Variant(Byte(0xFD)), {2});
  EXPECT_EQ(nbVariantAsAnsiString(bytes), std::string("A\0\xFD", 3));
  EXPECT_EQ(nbVariantAsWideString(bytes), String(u"A\0ı", 3));
  EXPECT_EQ(nbVariantAsAnsiString(VarArrayCreate({1, 0}, varByte)), "");

  EXPECT_EQ(nbVariantAsAnsiString(Variant(AnsiString("\xFE"))), "\xFE");
  EXPECT_EQ(nbVariantAsAnsiString(Variant(String(u"ş"))), "\xFE");
  EXPECT_EQ(nbVariantAsAnsiString(Variant(Integer(42))), "42");
  EXPECT_EQ(nbVariantAsString(Variant(String(u"Kontör"))), u"Kontör");
  EXPECT_EQ(nbVariantAsString(Variant(Integer(-7))), u"-7");
  // An array of variants holds no bytes: refused rather than read as memory.
  EXPECT_THROW(nbVariantAsAnsiString(VarArrayOf({Variant(1), Variant(2)})), EVariantInvalidArgError);

  struct Case {
    Variant V;
    bool Blob;
  };
  const Case cases[] = {{Variant(String(u"x")), true},
                        {Variant(AnsiString("x")), true},
                        {bytes, true},
                        {Variant(Integer(1)), false},
                        {Null(), false},
                        {Unassigned(), false}};
  for (const Case& c : cases) EXPECT_EQ(nbIsBlobVariant(c.V), c.Blob) << VarType(c.V);
}

TEST(Helpers, CharactersAndMemory) {
  EXPECT_TRUE(nbCharInSet(u'b', "abc"));
  EXPECT_FALSE(nbCharInSet(u'd', "abc"));
  EXPECT_FALSE(nbCharInSet(Char(0x161), "a"));  // beyond 8 bits: never in the set
  EXPECT_TRUE(nbCharInSet(Char(0xFD), "\xFD"));
  EXPECT_EQ(nbGetCharTypeFlags(u'A') & (C1_UPPER | C1_ALPHA), C1_UPPER | C1_ALPHA);
  EXPECT_EQ(nbGetCharTypeFlags(u'7') & C1_DIGIT, C1_DIGIT);
  Integer a = 1, b = 2;
  nbSwapIntegers(a, b);
  EXPECT_EQ(a * 10 + b, 21);
  char buf[4] = {'a', 'b', 'c', 'd'};
  nbMoveMemory(buf + 1, buf, 2);
  EXPECT_EQ(std::string(buf, 4), "aabd");
  nbZeroMemory(buf, 2);
  EXPECT_EQ(std::string(buf, 4), std::string("\0\0bd", 4));
}

TEST(Helpers, ColorToRGBQuad) {
  win::RGBQUAD q = nbColorToRGBQuad(0x00336699, 0x80);
  EXPECT_EQ(q.rgbRed, 0x99);
  EXPECT_EQ(q.rgbGreen, 0x66);
  EXPECT_EQ(q.rgbBlue, 0x33);
  EXPECT_EQ(q.rgbReserved, 0x80);
  // A system colour is resolved first.
  const Cardinal face = win::GetSysColor(win::COLOR_BTNFACE);
  q = nbColorToRGBQuad(static_cast<Integer>(0xFF000000u | win::COLOR_BTNFACE));
  EXPECT_EQ(q.rgbRed, face & 0xFF);
  EXPECT_EQ(q.rgbBlue, (face >> 16) & 0xFF);
  EXPECT_EQ(q.rgbReserved, 0);
}

TEST(OSFlags, FollowThePlatformVersion) {
  struct Case {
    Cardinal Platform, Major, Minor;
    std::vector<Boolean*> True;
  };
  const Case cases[] = {
      {1, 4, 0, {&nbOSWin9xFamily, &nbOSWindows95}},
      {1, 4, 10, {&nbOSWin9xFamily, &nbOSWindows98}},
      {1, 4, 90, {&nbOSWin9xFamily, &nbOSWindowsME}},
      {2, 5, 0, {&nbOSNTFamily, &nbOSWindows2000, &nbOSWindows2000OrLater, &nbOSWindows2000OrXP}},
      {2,
       5,
       1,
       {&nbOSNTFamily, &nbOSWindows2000OrLater, &nbOSWindowsXP, &nbOSWindowsXPOrLater, &nbOSWindows2000OrXP}},
      {2,
       6,
       0,
       {&nbOSNTFamily, &nbOSWindows2000OrLater, &nbOSWindowsXPOrLater, &nbOSWindowsVista,
        &nbOSWindowsVistaOrLater}},
      {2,
       6,
       1,
       {&nbOSNTFamily, &nbOSWindows2000OrLater, &nbOSWindowsXPOrLater, &nbOSWindowsVista,
        &nbOSWindowsVistaOrLater, &nbOSWindows7}},
  };
  // The start-up step took the platform's answer: NT 6.1, not under WOW64.
  EXPECT_TRUE(nbOSWindows7);
  EXPECT_FALSE(nbOSWow64);
  Boolean* all[] = {&nbOSWin9xFamily,        &nbOSWindows95,    &nbOSWindows98,
                    &nbOSWindowsME,          &nbOSNTFamily,     &nbOSWindows2000,
                    &nbOSWindows2000OrLater, &nbOSWindowsXP,    &nbOSWindowsXPOrLater,
                    &nbOSWindows2000OrXP,    &nbOSWindowsVista, &nbOSWindowsVistaOrLater,
                    &nbOSWindows7,           &nbOSWow64};
  for (const Case& c : cases) {
    nbInitOSFlags(c.Platform, c.Major, c.Minor, false);
    for (size_t i = 0; i < std::size(all); ++i) {
      bool expected = false;
      for (Boolean* t : c.True) expected = expected || t == all[i];
      EXPECT_EQ(*all[i], expected) << c.Platform << " " << c.Major << "." << c.Minor << " flag " << i;
    }
  }
  nbInitOSFlags(2, 6, 1, false);
}

}  // namespace
