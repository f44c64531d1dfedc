#include "platform/rtl/ResStrings.h"

#include <gtest/gtest.h>

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

}  // namespace
