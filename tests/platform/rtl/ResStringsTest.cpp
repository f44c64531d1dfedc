#include "platform/rtl/ResStrings.h"

#include <gtest/gtest.h>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Format.h"

namespace {

// A string table of three entries of the program's module: 100 is a format,
// 101 is longer than an entry may be, 102 is missing.
Integer FakeTable(void* Module, Cardinal ID, Char* Buffer, Integer BufferMax) {
  String text;
  if (ID == 100) text = u"Port %s: %d";
  if (ID == 101) text = String(2000, u'x');
  if (text.empty() || BufferMax <= 0) return 0;
  Integer n = std::min<Integer>(static_cast<Integer>(text.size()), BufferMax - 1);
  text.copy(Buffer, static_cast<size_t>(n));
  Buffer[n] = 0;
  return n;
}

// Installs the fake table for one test and restores what was there.
class ResStringsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    FOldReader = GetStringTableReader();
    SetStringTableReader(&FakeTable);
    FOldLoaders = SetResStringLoaders({});
  }
  void TearDown() override {
    SetResStringLoaders(FOldLoaders);
    SetStringTableReader(FOldReader);
  }

 private:
  TStringTableReader FOldReader{};
  TResStringLoaders FOldLoaders;
};

TEST_F(ResStringsTest, RecordsNameTableEntriesOrTextAddresses) {
  const TResStringRec byId{nullptr, 100};
  const TResStringRec tooLong{nullptr, 101};
  const TResStringRec missing{nullptr, 102};
  const TResStringRec byAddress = ResStringOfText(u"Kontör yüklendi");
  EXPECT_EQ(LoadResString(byId), u"Port %s: %d");
  EXPECT_EQ(LoadResString(tooLong).size(), static_cast<size_t>(MaxResStringLength));
  EXPECT_EQ(LoadResString(missing), u"");
  EXPECT_EQ(LoadResString(byAddress), u"Kontör yüklendi");
  EXPECT_EQ(LoadResString(nullptr), u"");
  EXPECT_EQ(LoadResStr(100), u"Port %s: %d");
  EXPECT_EQ(FmtLoadStr(100, {u"COM1", 3}), u"Port COM1: 3");
  EXPECT_EQ(FmtLoadStr(102, {u"COM1"}), u"");

  SetStringTableReader(nullptr);  // no table: entries are empty, addresses still read
  EXPECT_EQ(LoadResString(byId), u"");
  EXPECT_EQ(LoadResString(byAddress), u"Kontör yüklendi");
}

String Upper(PResStringRec R) { return u"<" + DefaultLoadResString(R) + u">"; }
String ById(Cardinal Ident) { return u"#" + DefaultLoadResStr(Ident); }

TEST_F(ResStringsTest, ReplacedLoadersSeeEveryForm) {
  TResStringLoaders old = SetResStringLoaders({&Upper, nullptr, nullptr});
  // The identifier forms go through the record form by default.
  const TResStringRec byId{nullptr, 100};
  EXPECT_EQ(LoadResString(byId), u"<Port %s: %d>");
  EXPECT_EQ(LoadResStr(100), u"<Port %s: %d>");
  EXPECT_EQ(FmtLoadStr(100, {u"A", 1}), u"<Port A: 1>");
  EXPECT_EQ(LoadResStringDirect(&byId), u"Port %s: %d");  // the platform's own text

  TResStringLoaders mine = SetResStringLoaders({&Upper, &ById, nullptr});
  EXPECT_EQ(mine.LoadResString, &Upper);
  EXPECT_EQ(mine.LoadStr, &DefaultLoadResStr);
  EXPECT_EQ(LoadResStr(100), u"#<Port %s: %d>");
  EXPECT_EQ(GetResStringLoaders().LoadStr, &ById);
  SetResStringLoaders(old);
  EXPECT_EQ(LoadResStr(100), u"Port %s: %d");
}

// CreateRes and CreateResFmt: every exception class has the constructors,
// and the text comes through the installed loaders when raised.
TEST_F(ResStringsTest, ExceptionsTakeTheirMessageFromResourceStrings) {
  const TResStringRec portFmt{nullptr, 100};
  const TResStringRec missing{nullptr, 102};
  try {
    throw EListError(&portFmt, {u"COM2", 7});
  } catch (const Exception& e) {
    EXPECT_EQ(e.ClassName(), u"EListError");
    EXPECT_EQ(e.Message(), u"Port COM2: 7");
  }
  const TVarRec args[] = {u"COM3", 1};
  EXPECT_EQ(EOSError(&portFmt, args, 2).Message(), u"Port COM3: 1");
  EXPECT_EQ(Exception(&portFmt).Message(), u"Port %s: %d");  // not formatted
  EXPECT_EQ(EConvertError(&missing).Message(), u"");
  EXPECT_EQ(EConvertError(&missing, {1}).Message(), u"");
  EXPECT_EQ(EAbort(static_cast<PResStringRec>(nullptr)).Message(), u"");
  // A bad format in the table is the format's error, not a crash.
  const TResStringRec text = ResStringOfText(u"%d of %d");
  EXPECT_THROW(EListError(&text, {u"x"}), EConvertError);

  TResStringLoaders old = SetResStringLoaders({&Upper, nullptr, nullptr});
  EXPECT_EQ(EListError(&portFmt, {u"A", 2}).Message(), u"<Port A: 2>");
  SetResStringLoaders(old);
}

}  // namespace
