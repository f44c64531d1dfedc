// The in-memory INI file: parsing, sorted output, typed readers, files.
#include <gtest/gtest.h>

#include "localization/MemIni.h"
#include "platform/classes/Streams.h"
#include "platform/rtl/CodePages.h"
#include "platform/rtl/Exceptions.h"
#include "tests/localization/LocalizationFixtures.h"
#include "tests/support/TestSupport.h"

using namespace loc_test;

namespace {

TOwned<TqlMemIniFile> IniOf(std::initializer_list<std::u16string> Lines) {
  TOwned<TqlMemIniFile> ini(New<TqlMemIniFile>(String()));
  TOwned<TStringList> list(New<TStringList>());
  for (const auto& l : Lines) list->Add(l);
  ini->SetStrings(list.get());
  return ini;
}

std::vector<std::string> TextOf(TqlMemIniFile* Ini) {
  TOwned<TStringList> list(New<TStringList>());
  Ini->GetStrings(list.get());
  std::vector<std::string> out;
  for (Integer i = 0; i < list->Count(); ++i) out.push_back(UTF16ToUTF8(list->Strings(i)));
  return out;
}

}  // namespace

TEST(MemIni, ParsesCommentsAndWritesSectionsAndKeysSorted) {
  auto ini = IniOf({u"[Colors]", u"Red=1", u";note", u"Blue=2", u""});
  EXPECT_EQ(TextOf(ini.get()), (std::vector<std::string>{"[Colors]", "Blue=2", "Red=1", ""}));
  EXPECT_EQ(ini->ReadString(u"colors", u"RED", u"x"), u"1");
  EXPECT_EQ(ini->ReadString(u"Colors", u"Green", u"x"), u"x");
  EXPECT_EQ(ini->ReadString(u"Shapes", u"Red", u"x"), u"x");
}

TEST(MemIni, LinesAreSplitAtTheFirstEqualSignAndNeverTrimmed) {
  auto ini = IniOf({u"before=section", u"[S]", u"a=", u"b", u"[c", u" k = v ", u"x=y=z"});
  EXPECT_EQ(TextOf(ini.get()),
            (std::vector<std::string>{"[S]", " k = v ", "[c=", "a=", "b=", "x=y=z", ""}));
  EXPECT_EQ(ini->ReadString(u"S", u" k ", u"?"), u" v ");
  EXPECT_EQ(ini->ReadString(u"S", u"x", u"?"), u"y=z");
  EXPECT_FALSE(ini->ValueExists(u"S", u"before"));
}

TEST(MemIni, RepeatedSectionHeaderJoinsTheFirstSection) {
  auto ini = IniOf({u"[A]", u"x=1", u"[B]", u"y=2", u"[a]", u"z=3", u"[A]", u"x=4"});
  TOwned<TStringList> sections(New<TStringList>());
  ini->ReadSections(sections.get());
  EXPECT_EQ(Lines(sections.get()), (std::vector<std::string>{"A", "B"}));
  // A key met again goes before the equal key (sorted insertion), and the
  // first of equal keys is read: the later line wins.
  EXPECT_EQ(TextOf(ini.get()), (std::vector<std::string>{"[A]", "x=4", "x=1", "z=3", "", "[B]", "y=2", ""}));
  EXPECT_EQ(ini->ReadString(u"A", u"x", u""), u"4");
}

TEST(MemIni, WriteStringReplacesTheKeyAndSplitsAKeyHoldingAnEqualSign) {
  auto ini = IniOf({u"[S]", u"k=old"});
  ini->WriteString(u"S", u"K", u"new");
  ini->WriteString(u"T", u"a=b", u"c");
  EXPECT_EQ(TextOf(ini.get()), (std::vector<std::string>{"[S]", "K=new", "", "[T]", "a=b=c", ""}));
  EXPECT_EQ(ini->ReadString(u"T", u"a", u""), u"b=c");
}

TEST(MemIni, TypedReaders) {
  auto ini = IniOf({u"[S]", u"hex=0x1F", u"hex2=0X10", u"bare=0x", u"tail=12ab", u"dollar=$10", u"two=2",
                    u"zero=0", u"f=1,5", u"bad=abc", u"empty="});
  struct {
    const char16_t* Key;
    Integer Expected;
  } const ints[] = {{u"hex", 31}, {u"hex2", 16}, {u"bare", -1}, {u"tail", -1}, {u"dollar", 16}, {u"missing", -1}, {u"empty", -1}};
  for (const auto& c : ints) EXPECT_EQ(ini->ReadInteger(u"S", c.Key, -1), c.Expected) << UTF16ToUTF8(c.Key);
  EXPECT_TRUE(ini->ReadBool(u"S", u"two", false));
  EXPECT_FALSE(ini->ReadBool(u"S", u"zero", true));
  EXPECT_TRUE(ini->ReadBool(u"S", u"missing", true));
  EXPECT_DOUBLE_EQ(ini->ReadFloat(u"S", u"f", 0), 1.5);  // the Turkish decimal separator
  EXPECT_DOUBLE_EQ(ini->ReadFloat(u"S", u"bad", 7), 7);
  EXPECT_DOUBLE_EQ(ini->ReadDate(u"S", u"bad", 3), 3);
  EXPECT_DOUBLE_EQ(ini->ReadDateTime(u"S", u"empty", 4), 4);
  ini->WriteBool(u"S", u"b", true);
  ini->WriteInteger(u"S", u"i", -5);
  ini->WriteFloat(u"S", u"g", 2.25);
  ini->WriteDate(u"S", u"d", 45000);
  EXPECT_EQ(ini->ReadString(u"S", u"b", u""), u"1");
  EXPECT_EQ(ini->ReadInteger(u"S", u"i", 0), -5);
  EXPECT_DOUBLE_EQ(ini->ReadFloat(u"S", u"g", 0), 2.25);
  EXPECT_DOUBLE_EQ(ini->ReadDate(u"S", u"d", 0), 45000);
}

TEST(MemIni, SectionsKeysAndErasure) {
  auto ini = IniOf({u"[Empty]", u"[S]", u"b=2", u"a=1"});
  EXPECT_FALSE(ini->SectionExists(u"Empty"));
  EXPECT_TRUE(ini->SectionExists(u"s"));
  TOwned<TStringList> list(New<TStringList>());
  ini->ReadSection(u"S", list.get());
  EXPECT_EQ(Lines(list.get()), (std::vector<std::string>{"a", "b"}));
  ini->ReadSectionValues(u"S", list.get());
  EXPECT_EQ(Lines(list.get()), (std::vector<std::string>{"1", "2"}));
  ini->ReadSection(u"None", list.get());
  EXPECT_EQ(list->Count(), 0);
  ini->DeleteKey(u"S", u"A");
  ini->DeleteKey(u"None", u"a");
  ini->EraseSection(u"Empty");
  ini->EraseSection(u"None");
  EXPECT_EQ(TextOf(ini.get()), (std::vector<std::string>{"[S]", "b=2", ""}));
}

TEST(MemIni, GetStringsAppendsToTheList) {
  auto ini = IniOf({u"[S]", u"k=v"});
  TOwned<TStringList> list(New<TStringList>());
  list->Add(u"first");
  ini->GetStrings(list.get());
  EXPECT_EQ(Lines(list.get()), (std::vector<std::string>{"first", "[S]", "k=v", ""}));
}

TEST(MemIni, FileRoundTripAndChangedFlag) {
  std::string dir = testing_support::MakeTempDir("memini");
  String name = UTF8ToUTF16(dir + "/t.ini");
  TOwned<TqlMemIniFile> ini(New<TqlMemIniFile>(name));  // no such file yet: empty
  EXPECT_TRUE(ini->Changed());
  ini->WriteString(u"Türkçe", u"Dil", u"Şimdi");
  ini->UpdateFile();
  EXPECT_FALSE(ini->Changed());
  // Written in the system code page without a byte-order mark.
  EXPECT_EQ(ReadFile(dir + "/t.ini"), std::string("[T\xFCrk\xE7" "e]\r\nDil=\xDEimdi\r\n\r\n"));
  TOwned<TqlMemIniFile> again(New<TqlMemIniFile>(name));
  EXPECT_EQ(again->ReadString(u"TÜRKÇE", u"dil", u""), u"Şimdi");
  again->Rename(UTF8ToUTF16(dir + "/none.ini"), true);
  EXPECT_EQ(again->ReadString(u"Türkçe", u"Dil", u"-"), u"-");
  again->LoadFromFile(name);  // another file; the name stays
  EXPECT_EQ(again->ReadString(u"Türkçe", u"Dil", u""), u"Şimdi");
  EXPECT_EQ(again->FileName(), UTF8ToUTF16(dir + "/none.ini"));
  EXPECT_THROW(again->LoadFromFile(UTF8ToUTF16(dir + "/missing.ini")), EStreamError);
}

TEST(MemIni, DamagedTextIsReadByTheLineRules) {
  // A UTF-8 mark before bytes that are not UTF-8, a NUL, stray brackets.
  const char bytes[] = "\xEF\xBB\xBF[S]\r\nk=\xFF\xFE\r\n]\r\n[\r\n=v\r\nz\0x=1\r\n";
  TOwned<TMemoryStream> stream(New<TMemoryStream>());
  stream->WriteBuffer(bytes, Integer(sizeof(bytes) - 1));
  stream->SetPosition(0);
  TOwned<TqlMemIniFile> ini(New<TqlMemIniFile>(String()));
  ini->LoadFromStream(stream.get());
  EXPECT_EQ(ini->ReadString(u"S", u"k", u""), u"\uFFFD\uFFFD");
  EXPECT_TRUE(ini->ValueExists(u"S", u"]"));
  EXPECT_TRUE(ini->ValueExists(u"S", u"["));
  EXPECT_EQ(ini->ReadString(u"S", u"", u"?"), u"v");
}
