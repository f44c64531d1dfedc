#include "lib/foundation/vlStorage.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>

#include "platform/classes/Registry.h"
#include "platform/classes/Streams.h"
#include "platform/classes/StringLists.h"
#include "platform/classes/TypInfoBuild.h"
#include "platform/classes/WinRegistry.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Finally.h"
#include "platform/rtl/Locale.h"
#include "tests/support/TestSupport.h"

namespace {

template <class T>
using Owned = std::unique_ptr<T, TObjectFree>;

// --- The objects stored ------------------------------------------------------------------

// A child without published properties, named through the provider.
class TSampleItem : public TInterfacedPersistent, public IvlStoredPropertiesProvider {
  CL_CLASS(TSampleItem, TInterfacedPersistent)
 public:
  String GetStoredObjectName() override { return Name; }
  Boolean GetStoredProperties(TStrings*) override { return false; }
  Variant GetStoredPropertyValue(const String&) override { return Variant(); }
  void SetStoredPropertyValue(const String&, const Variant&) override {}
  Integer Width() const { return FWidth; }
  void SetWidth(Integer Value) { FWidth = Value; }

  String Name;
  Integer FWidth{};
};

// A root with two published properties and children it makes and deletes
// on request.
class TSample : public TInterfacedPersistent, public IvlStoredPropertiesProvider, public IvlStoredChildrenProvider {
  CL_CLASS(TSample, TInterfacedPersistent)
 public:
  void Destroy() override {
    for (TObject* item : Items) Free(item);
    inherited::Destroy();
  }
  String GetStoredObjectName() override { return u"Obj"; }
  Boolean GetStoredProperties(TStrings* AProperties) override {
    if (!ListExtra) return false;
    AProperties->Add(u"Count");
    AProperties->Add(u"Extra");
    AProperties->Add(u"Title");
    return true;
  }
  Variant GetStoredPropertyValue(const String& AName) override {
    if (AName == u"Extra" && FailExtra) throw EConvertError(u"Extra cannot be read");
    return AName == u"Extra" ? Extra : Variant();
  }
  void SetStoredPropertyValue(const String& AName, const Variant& AValue) override {
    if (AName == u"Extra") Extra = AValue;
  }
  TObject* CreateStoredChild(const String& AObjectName, const String& AClassName) override {
    if (AClassName != u"TSampleItem") return nullptr;
    return AddItem(AObjectName);
  }
  void DeleteStoredChild(const String&, TObject* AObject) override {
    Items.erase(std::find(Items.begin(), Items.end(), AObject));
    Free(AObject);
  }
  void GetStoredChildren(TStringList* AChildren) override {
    for (TSampleItem* item : Items) AChildren->AddObject(item->Name, item);
  }
  TSampleItem* AddItem(const String& AName) {
    TSampleItem* item = New<TSampleItem>();
    item->Name = AName;
    Items.push_back(item);
    return item;
  }
  Integer Count() const { return FCount; }
  void SetCount(Integer Value) { FCount = Value; }
  const String& Title() const { return FTitle; }
  void SetTitle(const String& Value) { FTitle = Value; }

  std::vector<TSampleItem*> Items;
  Boolean ListExtra{};
  Boolean FailExtra{};
  Variant Extra;
  Integer FCount{};
  String FTitle;
};

// Every kind of value the media keep.
class TRich : public TPersistent {
  CL_CLASS(TRich, TPersistent)
 public:
  Integer Count() const { return FCount; }
  void SetCount(Integer Value) { FCount = Value; }
  Int64 Big() const { return FBig; }
  void SetBig(Int64 Value) { FBig = Value; }
  double Ratio() const { return FRatio; }
  void SetRatio(double Value) { FRatio = Value; }
  Boolean Flag() const { return FFlag; }
  void SetFlag(Boolean Value) { FFlag = Value; }
  TAlignment Align() const { return FAlign; }
  void SetAlign(TAlignment Value) { FAlign = Value; }
  const String& Text() const { return FText; }
  void SetText(const String& Value) { FText = Value; }
  TComponentState States() const { return FStates; }
  void SetStates(TComponentState Value) { FStates = Value; }
  const TNotifyEvent& OnChange() const { return FOnChange; }
  void SetOnChange(const TNotifyEvent& Value) { FOnChange = Value; }
  Currency Money() const { return FMoney; }
  void SetMoney(Currency Value) { FMoney = Value; }

  Integer FCount{};
  Int64 FBig{};
  double FRatio{};
  Boolean FFlag{};
  TAlignment FAlign{};
  String FText;
  TComponentState FStates{};
  TNotifyEvent FOnChange;
  Currency FMoney{};
};

// A component that refers to another one.
class TLinkHolder : public TComponent {
  CL_CLASS(TLinkHolder, TComponent)
 public:
  TComponent* Link() const { return FLink; }
  void SetLink(TComponent* Value) { FLink = Value; }
  TComponent* FLink{};
};

// Answers the storage's questions: components by name, the modes.
class TFinder : public TObject {
  CL_CLASS(TFinder, TObject)
 public:
  TComponent* Find(TObject*, const String& AName) { return Owner ? Owner->FindComponent(AName) : nullptr; }
  TvlStorageModes Modes(TObject*) { return TvlStorageModes{smChildrenCreating}; }
  TComponent* Owner{};
};

CL_IMPLEMENT_CLASS_PUBLISHED(TLinkHolder, P) { P.Property(u"Link", &TLinkHolder::Link, &TLinkHolder::SetLink); }
CL_IMPLEMENT_CLASS(TFinder)
CL_IMPLEMENT_CLASS(TSampleItem)
CL_IMPLEMENT_CLASS_PUBLISHED(TSample, P) {
  P.Property(u"Count", &TSample::Count, &TSample::SetCount);
  P.Property(u"Title", &TSample::Title, &TSample::SetTitle);
}
CL_IMPLEMENT_CLASS_PUBLISHED(TRich, P) {
  P.Property(u"Count", &TRich::Count, &TRich::SetCount);
  P.Property(u"Big", &TRich::Big, &TRich::SetBig);
  P.Property(u"Ratio", &TRich::Ratio, &TRich::SetRatio);
  P.Property(u"Flag", &TRich::Flag, &TRich::SetFlag);
  P.Property(u"Align", &TRich::Align, &TRich::SetAlign);
  P.Property(u"Text", &TRich::Text, &TRich::SetText);
  P.Property(u"States", &TRich::States, &TRich::SetStates);
  P.Property(u"OnChange", &TRich::OnChange, &TRich::SetOnChange);
  P.Property(u"Money", &TRich::Money, &TRich::SetMoney);
}

std::string ReadFileBytes(const std::string& APath) {
  std::ifstream f(APath, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

void WriteFileBytes(const std::string& APath, const std::string& ABytes) {
  std::ofstream f(APath, std::ios::binary);
  f << ABytes;
}

String U(const std::string& S) { return String(S.begin(), S.end()); }

// The three media, each through a storage of its kind.
enum class Medium { Ini, Registry, Stream };

class StorageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    FDir = testing_support::MakeTempDir("storage");
    ::setenv("CL_REGISTRY_DIR", (FDir + "/reg").c_str(), 1);
    FStream.reset(New<TMemoryStream>());
  }
  void TearDown() override { ::unsetenv("CL_REGISTRY_DIR"); }

  std::string IniPath() const { return FDir + "/layout.ini"; }
  // A storage of the medium (the stream rewound for reading).
  TvlStorage* NewStorage(Medium AMedium) {
    switch (AMedium) {
      case Medium::Ini: return New<TvlStorage>(U(IniPath()));
      case Medium::Registry: return New<TvlStorage>(String(u"Software\\Test"));
      case Medium::Stream: break;
    }
    FStream->SetPosition(0);
    return New<TvlStorage>(static_cast<TStream*>(FStream.get()));
  }
  void Store(Medium AMedium, TObject* AObject, TvlStorageModes AModes = {}) {
    Owned<TvlStorage> s(NewStorage(AMedium));
    s->SetModes(AModes);
    if (AMedium == Medium::Stream) FStream->SetSize(0);
    switch (AMedium) {
      case Medium::Ini: s->StoreToIni(AObject); break;
      case Medium::Registry: s->StoreToRegistry(AObject); break;
      case Medium::Stream: s->StoreToStream(AObject); break;
    }
  }
  void Restore(Medium AMedium, TObject* AObject, TvlStorageModes AModes = {}) {
    Owned<TvlStorage> s(NewStorage(AMedium));
    s->SetModes(AModes);
    switch (AMedium) {
      case Medium::Ini: s->RestoreFromIni(AObject); break;
      case Medium::Registry: s->RestoreFromRegistry(AObject); break;
      case Medium::Stream: s->RestoreFromStream(AObject); break;
    }
  }
  std::string StreamBytes() {
    return std::string(static_cast<const char*>(FStream->Memory()), size_t(FStream->Size()));
  }
  TSample* NewExample() {
    TSample* s = New<TSample>();
    s->SetCount(3);
    s->SetTitle(u"a\\b");
    s->AddItem(u"Item");
    return s;
  }

  std::string FDir;
  Owned<TMemoryStream> FStream;
};

const Medium AllMedia[] = {Medium::Ini, Medium::Registry, Medium::Stream};
const char* MediumName(Medium M) {
  return M == Medium::Ini ? "ini" : M == Medium::Registry ? "registry" : "stream";
}

// --- Layouts -----------------------------------------------------------------------------------

TEST_F(StorageTest, IniLayoutOfTheExample) {
  Owned<TSample> sample(NewExample());
  Store(Medium::Ini, sample.get());
  const std::string expected =
      "\xEF\xBB\xBF"
      "[Main]\r\nVersion=1\r\n\r\n"
      "[Obj: TSample]\r\n=\r\nCount=3\r\nTitle=\"a\\\\b\"\r\n\r\n"
      "[Obj/Item: TSampleItem]\r\n=\r\n\r\n";
  EXPECT_EQ(ReadFileBytes(IniPath()), expected);
}

TEST_F(StorageTest, RegistryLayoutOfTheExample) {
  Owned<TSample> sample(NewExample());
  Store(Medium::Registry, sample.get());
  Owned<TRegistry> reg(New<TRegistry>());
  ASSERT_TRUE(reg->OpenKeyReadOnly(u"\\Software\\Test\\Obj"));
  EXPECT_EQ(reg->GetDataType(u"Count"), rdInteger);
  EXPECT_EQ(reg->ReadInteger(u"Count"), 3);
  EXPECT_EQ(reg->ReadString(u"Title"), u"\"a\\b\"");
  Owned<TStringList> names(New<TStringList>());
  reg->GetValueNames(names.get());
  EXPECT_EQ(names->Count(), 2);
  ASSERT_TRUE(reg->OpenKeyReadOnly(u"\\Software\\Test\\Obj\\[ClassName]"));
  EXPECT_EQ(reg->ReadString(u"ClassName"), u"TSample");
  ASSERT_TRUE(reg->OpenKeyReadOnly(u"\\Software\\Test\\Obj\\Item\\[ClassName]"));
  EXPECT_EQ(reg->ReadString(u"ClassName"), u"TSampleItem");
  ASSERT_TRUE(reg->OpenKeyReadOnly(u"\\Software\\Test\\Obj\\Item"));
  reg->GetValueNames(names.get());
  EXPECT_EQ(names->Count(), 0);
}

TEST_F(StorageTest, StreamLayoutOfTheExample) {
  Owned<TSample> sample(NewExample());
  Store(Medium::Stream, sample.get());
  const std::string expected = std::string("\x06\x03Obj", 5) + std::string("\x06\x07TSample", 9) +
                               std::string("\x02\x02", 2) +                              // 2 properties
                               std::string("\x06\x05" "Count" "\x02\x06" "\x02\x03", 11) +  // tag 6, 3
                               std::string("\x06\x05" "Title" "\x02\x09", 9) +              // tag 9
                               std::string("\x12\x03\x00\x00\x00" "a\0\\\0b\0", 11) +       // wide "a\b"
                               std::string("\x02\x01", 2) +                              // 1 child
                               std::string("\x06\x04Item", 6) + std::string("\x06\x0BTSampleItem", 13) +
                               std::string("\x02\x00\x02\x00", 4);
  EXPECT_EQ(StreamBytes(), expected);
}

// --- Round trips ---------------------------------------------------------------------------------

TEST_F(StorageTest, EveryKindOfValueComesBackFromEachMedium) {
  for (Medium m : AllMedia) {
    SCOPED_TRACE(MediumName(m));
    Owned<TRich> source(New<TRich>());
    source->SetCount(-42);
    source->SetBig(5000000000LL);  // beyond 32 bits
    source->SetRatio(1.5);
    source->SetFlag(true);
    source->SetAlign(taCenter);
    source->SetText(u"\"tırnaklı\"\r\ntek CR\rtek LF\n\tson\\");
    source->SetStates(TComponentState{csLoading, csDesigning});
    Store(m, source.get());
    Owned<TRich> dest(New<TRich>());
    Restore(m, dest.get());
    EXPECT_EQ(dest->Count(), -42);
    EXPECT_EQ(dest->Big(), 5000000000LL);
    EXPECT_DOUBLE_EQ(dest->Ratio(), 1.5);
    EXPECT_TRUE(dest->Flag());
    EXPECT_EQ(dest->Align(), taCenter);
    EXPECT_TRUE(dest->Text() == source->Text());
    EXPECT_EQ(dest->States(), source->States());
  }
}

// Texts that are themselves quoted, and currencies at the ends of their range
// and between, come back exactly from every medium.
TEST_F(StorageTest, QuotedTextsAndExtremeCurrenciesComeBackFromEachMedium) {
  const struct {
    const char16_t* Text;
    Currency Money;
  } cases[] = {
      {u"\"quoted\"", MaxCurrency},
      {u"\"\"", MinCurrency},
      {u"\"", Currency::FromRaw(INT64_MAX - 1)},
      {u"\"\"\"", Currency::FromRaw(15000)},             // 1.5
      {u"x\"", Currency::FromRaw(-9007199254740993LL)},  // beyond what a double holds
      {u"", Currency::FromRaw(1)},
  };
  const TSystemLocale before = SystemLocale();
  Finally restore([&] { SetSystemLocale(before); });
  for (TSystemLocale locale : {TSystemLocale::Turkish, TSystemLocale::EnglishUS})  // decimal comma, point
    for (Medium m : AllMedia) {
      SetSystemLocale(locale);
      for (const auto& c : cases) {
        SCOPED_TRACE(std::string(MediumName(m)) + " " + testing::PrintToString(String(c.Text)) +
                     (locale == TSystemLocale::Turkish ? " tr" : " en"));
        Owned<TRich> source(New<TRich>());
        source->SetText(c.Text);
        source->SetMoney(c.Money);
        Store(m, source.get());
        Owned<TRich> dest(New<TRich>());
        Restore(m, dest.get());
        EXPECT_TRUE(dest->Text() == source->Text());
        EXPECT_EQ(dest->Money().Raw(), c.Money.Raw());
      }
    }
}

TEST_F(StorageTest, ChildrenAreMatchedCreatedAndDeletedByMode) {
  struct Case {
    TvlStorageModes Modes;
    std::vector<String> Expected;
  };
  const Case cases[] = {
      {{}, {u"b", u"C"}},
      {{smChildrenCreating}, {u"b", u"C", u"A"}},
      {{smChildrenDeleting}, {u"b"}},
      {{smChildrenCreating, smChildrenDeleting}, {u"b", u"A"}},
  };
  for (Medium m : AllMedia)
    for (const Case& c : cases) {
      SCOPED_TRACE(MediumName(m));
      Owned<TSample> source(New<TSample>());
      source->AddItem(u"A");
      source->AddItem(u"B");
      Store(m, source.get());
      Owned<TSample> dest(New<TSample>());
      dest->AddItem(u"b");
      dest->AddItem(u"C");
      Restore(m, dest.get(), c.Modes);
      std::vector<String> names;
      for (TSampleItem* item : dest->Items) names.push_back(item->Name);
      EXPECT_TRUE(names == c.Expected) << int(c.Modes.ToInt());
    }
}

// --- Walker -------------------------------------------------------------------------------------

TEST_F(StorageTest, PathsTakeThePrefixesAndNullValuesAreNotWritten) {
  Owned<TComponent> grid(New<TComponent>(nullptr));
  grid->SetName(u"twGrid");
  Owned<TvlStorage> s(New<TvlStorage>(U(IniPath())));
  s->SetNamePrefix(u"Layout");
  s->StoreToIni(grid.get());
  const std::string text = ReadFileBytes(IniPath());
  EXPECT_NE(text.find("[Layout.twGrid: TComponent]"), std::string::npos) << text;
  EXPECT_NE(text.find("Name=\"twGrid\""), std::string::npos);  // a string is written
  EXPECT_NE(text.find("Tag=0"), std::string::npos);
}

TEST_F(StorageTest, AValueNoMediumCanHoldIsSkippedWhole) {
  // the provider lists Extra among the properties; an array has no stored form
  for (Medium m : AllMedia) {
    SCOPED_TRACE(MediumName(m));
    Owned<TSample> source(NewExample());
    source->ListExtra = true;
    source->Extra = VarArrayCreate({0, 1}, varVariant);
    Store(m, source.get());
    Owned<TSample> dest(New<TSample>());
    Restore(m, dest.get());
    EXPECT_EQ(dest->Count(), 3);
    EXPECT_EQ(dest->Title(), u"a\\b");
    EXPECT_TRUE(VarIsEmpty(dest->Extra));
  }
  // a provider value that can be stored comes back through the provider
  Owned<TSample> source(NewExample());
  source->ListExtra = true;
  source->Extra = Variant(7);
  Store(Medium::Stream, source.get());
  Owned<TSample> dest(New<TSample>());
  dest->ListExtra = true;
  Restore(Medium::Stream, dest.get());
  EXPECT_EQ(dest->Extra.AsInteger(), 7);
}

// An owner of "Holder", whose Link is "Target".
struct TLinkedPair {
  Owned<TComponent> Owner{New<TComponent>(nullptr)};
  TLinkHolder* Holder{New<TLinkHolder>(Owner.get())};
  TComponent* Target{New<TComponent>(Owner.get())};
  TLinkedPair() {
    Holder->SetName(u"Holder");
    Target->SetName(u"Target");
    Holder->SetLink(Target);
  }
};

TEST_F(StorageTest, InterfaceOnlyAndModesByEvent) {
  // every value through the provider: it answers Extra only
  Owned<TSample> source(NewExample());
  source->ListExtra = true;
  source->Extra = Variant(7);
  Owned<TvlStorage> store(NewStorage(Medium::Stream));
  store->SetUseInterfaceOnly(true);
  store->StoreToStream(source.get());
  Owned<TSample> dest(NewExample());
  dest->ListExtra = true;
  dest->SetCount(11);
  Owned<TvlStorage> restore(NewStorage(Medium::Stream));
  restore->SetUseInterfaceOnly(true);
  restore->RestoreFromStream(dest.get());
  EXPECT_EQ(dest->Extra.AsInteger(), 7);
  EXPECT_EQ(dest->Count(), 11);  // Count was never stored

  // the event's modes replace the field's
  Owned<TSample> withItems(New<TSample>());
  withItems->AddItem(u"A");
  Store(Medium::Stream, withItems.get());
  Owned<TSample> empty(New<TSample>());
  Owned<TFinder> modes(New<TFinder>());
  Owned<TvlStorage> byEvent(NewStorage(Medium::Stream));
  byEvent->SetOnGetStorageModes(TvlStorageGetModesEvent(modes.get(), &TFinder::Modes));
  byEvent->RestoreFromStream(empty.get());
  ASSERT_EQ(empty->Items.size(), 1u);
  EXPECT_EQ(empty->Items[0]->Name, u"A");
}

TEST_F(StorageTest, ComponentPropertiesAreStoredByName) {
  TLinkedPair pair;
  TLinkHolder* holder = pair.Holder;
  TComponent* target = pair.Target;
  Owned<TvlStorage> store(NewStorage(Medium::Stream));
  store->SetSaveComponentPropertiesByName(true);
  store->StoreToStream(holder);
  EXPECT_NE(StreamBytes().find(std::string("T\0a\0r\0g\0e\0t\0", 12)), std::string::npos);  // wide text

  holder->SetLink(nullptr);
  Owned<TFinder> finder(New<TFinder>());
  finder->Owner = pair.Owner.get();
  Owned<TvlStorage> restore(NewStorage(Medium::Stream));
  restore->SetSaveComponentPropertiesByName(true);
  restore->RestoreFromStream(holder);  // no handler: nothing is assigned
  EXPECT_EQ(holder->Link(), nullptr);
  Owned<TvlStorage> restore2(NewStorage(Medium::Stream));
  restore2->SetSaveComponentPropertiesByName(true);
  restore2->SetOnGetComponentByName(TvlStorageGetComponentByNameEvent(finder.get(), &TFinder::Find));
  restore2->RestoreFromStream(holder);
  EXPECT_EQ(holder->Link(), target);
}

TEST_F(StorageTest, PublishedObjectPropertiesAreChildrenWhenAsked) {
  TLinkedPair pair;
  TLinkHolder* holder = pair.Holder;
  TComponent* target = pair.Target;
  target->SetTag(5);
  Store(Medium::Ini, holder, {smSavePublishedClassProperties});
  const std::string text = ReadFileBytes(IniPath());
  EXPECT_NE(text.find("[Holder/Link: TComponent]"), std::string::npos) << text;
  target->SetTag(0);
  Restore(Medium::Ini, holder, {smSavePublishedClassProperties});
  EXPECT_EQ(target->Tag(), 5);
}

TEST(StorageHelpers, HexTextAndBooleans) {
  Owned<TMemoryStream> stream(New<TMemoryStream>());
  EXPECT_EQ(vlStreamToHexText(nullptr), u"");
  EXPECT_EQ(vlStreamToHexText(stream.get()), u"");
  vlHexTextToStream(u"Hex:0A0B", stream.get());
  ASSERT_EQ(stream->Size(), 2);
  EXPECT_EQ(static_cast<const Byte*>(stream->Memory())[0], 0x0A);
  EXPECT_EQ(vlStreamToHexText(stream.get()), u"Hex:0A0B");
  vlHexTextToStream(u"Hex:0", stream.get());  // 5 characters: nothing
  EXPECT_EQ(stream->Size(), 2);
  EXPECT_TRUE(vlTextToBoolean(u"true"));
  EXPECT_FALSE(vlTextToBoolean(u"FALSE"));
  EXPECT_THROW(vlTextToBoolean(u"yes"), EPropertyConvertError);
}

// --- Readers' conversions ------------------------------------------------------------------------

TEST_F(StorageTest, IniTextsBecomeValuesByTheirShape) {
  WriteFileBytes(IniPath(),
                 "[Main]\r\nVersion=1\r\n[Obj: TSample]\r\nA=12\r\nB=1.5\r\nC=abc\r\nD=\"12\"\r\nE=\"a\\nb\"\r\n"
                 "F=13.12.2011\r\nG=5000000000\r\n");
  Owned<TvlIniFileReader> reader(New<TvlIniFileReader>(U(IniPath())));
  reader->StartRead();
  auto read = [&](const char16_t* AName) { return reader->ReadProperty(u"Obj", u"TSample", AName); };
  EXPECT_EQ(read(u"A").VType(), varInteger);
  EXPECT_EQ(read(u"A").AsInteger(), 12);
  EXPECT_EQ(read(u"B").VType(), varDouble);
  EXPECT_EQ(read(u"C").AsString(), u"abc");
  EXPECT_EQ(read(u"D").VType(), varUString);
  EXPECT_EQ(read(u"D").AsString(), u"12");
  EXPECT_EQ(read(u"E").AsString(), u"a\r\nb");
  EXPECT_EQ(read(u"F").VType(), varDate);
  EXPECT_EQ(read(u"G").AsInt64(), 5000000000LL);
  EXPECT_TRUE(VarIsEmpty(read(u"Missing")) || read(u"Missing").AsString().empty());
  // version 0 keeps the escapes as they are
  WriteFileBytes(IniPath(), "[Obj: TSample]\r\nE=\"a\\nb\"\r\n");
  Owned<TvlIniFileReader> old(New<TvlIniFileReader>(U(IniPath())));
  old->StartRead();
  EXPECT_EQ(old->StorageVersion(), 0);
  EXPECT_EQ(old->ReadProperty(u"Obj", u"TSample", u"E").AsString(), u"a\\nb");
}

TEST_F(StorageTest, StreamReaderFindsObjectsByExactPath) {
  Owned<TSample> sample(NewExample());
  Store(Medium::Stream, sample.get());
  FStream->SetPosition(0);
  Owned<TvlStreamReader> reader(New<TvlStreamReader>(String(), static_cast<TStream*>(FStream.get())));
  reader->StartRead();
  Owned<TStringList> names(New<TStringList>()), classes(New<TStringList>());
  reader->ReadProperties(u"Obj/Missing", u"", names.get());
  reader->ReadChildren(u"Obj/Missing", u"", classes.get(), names.get());
  EXPECT_EQ(names->Count(), 0);
  reader->ReadChildren(u"Obj", u"", classes.get(), names.get());
  ASSERT_EQ(names->Count(), 1);
  EXPECT_EQ(classes->Strings(0), u"TSampleItem");
  EXPECT_EQ(reader->ReadProperty(u"Obj", u"", u"Count").AsInteger(), 3);
}

// --- Bad input -----------------------------------------------------------------------------------

TEST_F(StorageTest, ATruncatedStreamRaisesBeforeAnythingIsRestored) {
  Owned<TSample> sample(NewExample());
  Store(Medium::Stream, sample.get());
  const std::string bytes = StreamBytes();
  for (size_t cut = 1; cut < bytes.size(); ++cut) {
    FStream->SetSize(0);
    FStream->WriteBuffer(bytes.data(), Integer(cut));
    Owned<TSample> dest(New<TSample>());
    EXPECT_THROW(Restore(Medium::Stream, dest.get(), {smChildrenCreating}), EReadError) << cut;
    EXPECT_EQ(dest->Count(), 0);
    EXPECT_TRUE(dest->Items.empty());
  }
}

TEST_F(StorageTest, OtherDataInAStreamRaisesTheStreamReadingError) {
  // a float (tag 5) whose 10 bytes hold no number, then an unknown tag
  const std::string cases[] = {
      std::string("\x06\x03Obj\x06\x07TSample\x02\x01\x06\x01X\x02\x05\x05\xFF\xFF\xFF\xFF\xFF\xFF\xFF\x7F"
                  "\x00\x00\x02\x00",
                  33),
      std::string("\x06\x03Obj\x06\x07TSample\x02\x01\x06\x01X\x02\x63\x02\x00\x02\x00", 24),
  };
  for (const std::string& bytes : cases) {
    FStream->SetSize(0);
    FStream->WriteBuffer(bytes.data(), Integer(bytes.size()));
    Owned<TSample> dest(New<TSample>());
    EXPECT_THROW(Restore(Medium::Stream, dest.get()), EReadError);
  }
}

TEST_F(StorageTest, WrongRegistryTypesAndDamagedIniLinesGiveNoValueOrAClearError) {
  Owned<TSample> sample(NewExample());
  Store(Medium::Registry, sample.get());
  {
    Owned<TRegistry> reg(New<TRegistry>());
    ASSERT_TRUE(reg->OpenKey(u"\\Software\\Test\\Obj", false));
    const Byte three[3] = {1, 2, 3};
    reg->WriteBinaryData(u"Count", three, 3);  // neither a number nor an 8-byte value
  }
  Owned<TSample> dest(New<TSample>());
  Restore(Medium::Registry, dest.get());
  EXPECT_EQ(dest->Count(), 0);
  EXPECT_EQ(dest->Title(), u"a\\b");

  WriteFileBytes(IniPath(),
                 "[Main]\r\nVersion=1\r\n[Obj: TSample]\r\nTitle=\"new\"\r\nCount=1x2\r\nbroken line\r\n"
                 "[Obj/Item: TSampleItem]\r\n=\r\n[Obj/\r\n");
  Owned<TSample> fromIni(NewExample());
  EXPECT_THROW(Restore(Medium::Ini, fromIni.get(), {smChildrenCreating}), EVariantTypeCastError);
  EXPECT_EQ(fromIni->Count(), 3) << "the object is left as it was";
  EXPECT_EQ(fromIni->Title(), u"a\\b");
  EXPECT_EQ(fromIni->Items.size(), 1u);
}

// Numbers go to the INI file in one fixed form whatever the locale; files
// written earlier in the locale's form read as well.
TEST_F(StorageTest, IniNumbersReadUnderAnyLocale) {
  TFormatSettings& fs = FormatSettings();
  const TFormatSettings saved = fs;
  Finally restore([&] { fs = saved; });
  auto turkish = [&] {
    fs.DecimalSeparator = u',';
    fs.ThousandSeparator = u'.';
  };
  auto english = [&] {
    fs.DecimalSeparator = u'.';
    fs.ThousandSeparator = u',';
  };
  Owned<TRich> source(New<TRich>());
  source->SetRatio(1.5);
  source->SetMoney(Currency(12.25));
  source->SetCount(7);
  turkish();
  Store(Medium::Ini, source.get());
  const std::string file = ReadFileBytes(IniPath());
  EXPECT_NE(file.find("Ratio=1.5\r\n"), std::string::npos) << file;
  EXPECT_NE(file.find("Money=12.25\r\n"), std::string::npos) << file;
  for (const bool underTurkish : {false, true}) {
    if (underTurkish)
      turkish();
    else
      english();
    Owned<TRich> dest(New<TRich>());
    Restore(Medium::Ini, dest.get());
    EXPECT_DOUBLE_EQ(dest->Ratio(), 1.5);
    EXPECT_EQ(dest->Money(), Currency(12.25));
    EXPECT_EQ(dest->Count(), 7);
  }
  // a file an earlier writer wrote under Turkish settings
  WriteFileBytes(IniPath(), "[Main]\r\nVersion=1\r\n[Obj: TSample]\r\nR=2,75\r\nD=13.12.2011\r\n");
  turkish();
  Owned<TvlIniFileReader> reader(New<TvlIniFileReader>(U(IniPath())));
  reader->StartRead();
  const Variant r = reader->ReadProperty(u"Obj", u"TSample", u"R");
  EXPECT_EQ(r.VType(), varDouble);
  EXPECT_DOUBLE_EQ(r.AsDouble(), 2.75);
  EXPECT_EQ(reader->ReadProperty(u"Obj", u"TSample", u"D").VType(), varDate);
}

// Doubles in exponent form come back as doubles, not as texts.
TEST_F(StorageTest, DoublesInExponentFormKeepTheirKind) {
  for (double value : {1e20, 1e-5, -2.5e-7, 1.5}) {
    Owned<TSample> source(NewExample());
    source->ListExtra = true;
    source->Extra = Variant(value);
    Store(Medium::Ini, source.get());
    Owned<TSample> dest(New<TSample>());
    dest->ListExtra = true;
    Restore(Medium::Ini, dest.get());
    EXPECT_EQ(dest->Extra.VType(), varDouble) << value;
    EXPECT_DOUBLE_EQ(dest->Extra.AsDouble(), value);
  }
}

// An unsigned value beyond Int64 has no stored form: every medium skips it
// and keeps the rest. A writer that fails half way leaves the INI file as it
// was.
TEST_F(StorageTest, UnsignedValuesBeyondInt64AreSkippedAndFailedWritesLeaveTheFile) {
  const UInt64 values[] = {UInt64(1) << 63, ~UInt64(0), (UInt64(1) << 63) - 1};
  for (Medium m : AllMedia)
    for (UInt64 value : values) {
      SCOPED_TRACE(MediumName(m));
      Owned<TSample> source(NewExample());
      source->ListExtra = true;
      source->Extra = Variant(value);
      ASSERT_NO_THROW(Store(m, source.get())) << value;
      Owned<TSample> dest(New<TSample>());
      dest->ListExtra = true;
      Restore(m, dest.get(), {smChildrenCreating});
      EXPECT_EQ(dest->Count(), 3);
      EXPECT_EQ(dest->Items.size(), 1u);
      if (value >> 63)
        EXPECT_TRUE(VarIsEmpty(dest->Extra)) << value;
      else
        EXPECT_EQ(dest->Extra.AsInt64(), Int64(value));
    }
  Owned<TSample> sample(NewExample());
  Store(Medium::Ini, sample.get());
  const std::string before = ReadFileBytes(IniPath());
  sample->ListExtra = true;
  sample->FailExtra = true;
  sample->SetCount(4);
  EXPECT_THROW(Store(Medium::Ini, sample.get()), EConvertError);
  EXPECT_EQ(ReadFileBytes(IniPath()), before);
}

}  // namespace
