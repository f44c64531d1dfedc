#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/classes/IniFiles.h"
#include "platform/classes/Registry.h"
#include "platform/classes/Streams.h"
#include "platform/classes/StringLists.h"
#include "platform/rtl/CodePages.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/Locale.h"
#include "tests/support/TestSupport.h"

namespace {

std::string ReadAll(const std::string& Path) {
  std::ifstream f(Path, std::ios::binary);
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}

void WriteAll(const std::string& Path, const std::string& Text) {
  std::ofstream f(Path, std::ios::binary | std::ios::trunc);
  f << Text;
}

bool Exists(const std::string& Path) { return std::ifstream(Path).good(); }

std::vector<String> ListOf(TStrings* L) {
  std::vector<String> out;
  for (Integer i = 0; i < L->Count(); ++i) out.push_back(L->Strings(i));
  return out;
}

// A Turkish system with its own folder; FormatSettings restored afterwards.
class IniFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetSystemLocale(TSystemLocale::Turkish);
    Dir = testing_support::MakeTempDir("ini");
    Path = Dir + "/settings.ini";
    List = New<TStringList>();
  }
  void TearDown() override {
    Free(List);
    SetSystemLocale(TSystemLocale::Turkish);
  }
  String FileName() const { return UTF8ToUTF16(Path); }
  std::vector<String> Section(TCustomIniFile* Ini, const String& Name) {
    Ini->ReadSection(Name, List);
    return ListOf(List);
  }

  std::string Dir, Path;
  TStringList* List = nullptr;
};

}  // namespace

TEST_F(IniFileTest, TheSettingsFileIsCreatedByTheFirstWrite) {
  TIniFile* ini = New<TIniFile>(FileName());
  EXPECT_EQ(ini->ReadInteger(u"TALVIK", u"COM", 1), 1);
  EXPECT_EQ(ini->ReadString(u"TALVIK", u"FaturaNo", u"AB1234"), u"AB1234");
  EXPECT_FALSE(ini->SectionExists(u"TALVIK"));
  ini->EraseSection(u"TALVIK");
  ini->DeleteKey(u"TALVIK", u"COM");
  EXPECT_FALSE(Exists(Path));  // reading and erasing make no file

  FormatSettings().DecimalSeparator = u'.';  // as the program sets it
  ini->WriteInteger(u"TALVIK", u"COM", 1);
  ini->WriteInteger(u"TALVIK", u"Kontor", 100);
  ini->WriteInteger(u"TALVIK", u"SeriNo", 0);
  ini->WriteString(u"TALVIK", u"FaturaNo", u"AB1234");
  ini->WriteFloat(u"TALVIK", u"T1", 23.14);
  ini->WriteFloat(u"TALVIK", u"T2", 32.17);
  ini->WriteFloat(u"TALVIK", u"T3", 12.97);
  ini->WriteFloat(u"TALVIK", u"T4", 23.14);
  ini->WriteFloat(u"TALVIK", u"T0", 24.68);
  ini->WriteBool(u"TALVIK", u"CokluTarifeAktif", true);
  ini->WriteInteger(u"TALVIK", u"TarifeYapisi", 1);
  ini->WriteInteger(u"TALVIK", u"DusukAlarm", 10);
  ini->WriteString(u"TALVIK", u"TahsilatYeri", u"ABCD");
  Free(ini);
  EXPECT_EQ(ReadAll(Path),
            "[TALVIK]\r\nCOM=1\r\nKontor=100\r\nSeriNo=0\r\nFaturaNo=AB1234\r\nT1=23.14\r\nT2=32.17\r\nT3=12.97\r\n"
            "T4=23.14\r\nT0=24.68\r\nCokluTarifeAktif=1\r\nTarifeYapisi=1\r\nDusukAlarm=10\r\nTahsilatYeri=ABCD\r\n");

  ini = New<TIniFile>(FileName());
  EXPECT_DOUBLE_EQ(ini->ReadFloat(u"talvik", u"t1", 0), 23.14);
  FormatSettings().DecimalSeparator = u',';
  EXPECT_DOUBLE_EQ(ini->ReadFloat(u"TALVIK", u"T1", 1.5), 1.5);  // "23.14" is no float with ","
  Free(ini);
}

TEST_F(IniFileTest, ValuesAreReadAsTheProfileFunctionsReadThem) {
  WriteAll(Path,
           "[talvik]\n"
           "  com = 260  \n"
           "Kontor=70000\n"
           "Hex1=$1F\n"
           "Hex2=0x1f\n"
           "CokluTarifeAktif=yes\n"
           "Off=0\n"
           "Quoted=\" spaced \"\n"
           "Single='x'\n"
           "Mixed=\"x'\n"
           "Eq=a=b\n"
           "Empty=\n"
           "Dup=first\n"
           "DUP=second\n");
  TIniFile* ini = New<TIniFile>(FileName());
  struct Case {
    const char16_t* Key;
    const char16_t* Expected;
  } strings[] = {
      {u"COM", u"260"},       {u"Quoted", u" spaced "}, {u"Single", u"x"}, {u"Mixed", u"\"x'"},
      {u"Eq", u"a=b"},        {u"Empty", u""},          {u"dup", u"first"}, {u"Missing", u"(default)"},
  };
  for (const Case& c : strings) EXPECT_EQ(ini->ReadString(u"TALVIK", c.Key, u"(default)"), c.Expected) << UTF16ToUTF8(c.Key);
  EXPECT_EQ(ini->ReadInteger(u"TALVIK", u"COM", 1), 260);
  EXPECT_EQ(ini->ReadInteger(u"TALVIK", u"Kontor", 100), 70000);
  EXPECT_EQ(ini->ReadInteger(u"TALVIK", u"Hex1", 0), 31);
  EXPECT_EQ(ini->ReadInteger(u"TALVIK", u"Hex2", 0), 31);
  EXPECT_TRUE(ini->ReadBool(u"TALVIK", u"CokluTarifeAktif", true));
  EXPECT_FALSE(ini->ReadBool(u"TALVIK", u"CokluTarifeAktif", false));
  EXPECT_FALSE(ini->ReadBool(u"TALVIK", u"Off", true));
  EXPECT_TRUE(ini->ValueExists(u"Talvik", u"EMPTY"));
  EXPECT_FALSE(ini->ValueExists(u"Talvik", u"Nope"));
  EXPECT_EQ(Section(ini, u"TALVIK"), std::vector<String>({u"com", u"Kontor", u"Hex1", u"Hex2", u"CokluTarifeAktif",
                                                          u"Off", u"Quoted", u"Single", u"Mixed", u"Eq", u"Empty",
                                                          u"Dup"}));
  ini->ReadSectionValues(u"TALVIK", List);
  EXPECT_EQ(List->Strings(0), u"com=260");
  EXPECT_EQ(List->Strings(6), u"Quoted= spaced ");
  Free(ini);
}

TEST_F(IniFileTest, WritesKeepEveryOtherLine) {
  const std::string original =
      "; settings of the loader\r\n"
      "orphan before any section\r\n"
      "[Other]\r\n"
      "Key=1\r\n"
      "\r\n"
      "[TALVIK]\n"
      "; the port\n"
      "COM=1\n"
      "a line without equals\n"
      "\n"
      "[Last]\r\n"
      "X=\x01\x02\xff\r\n"
      "Tail=no newline";
  WriteAll(Path, original);
  TIniFile* ini = New<TIniFile>(FileName());
  ini->WriteInteger(u"talvik", u"com", 3);       // replaced in place, spelling kept
  ini->WriteString(u"TALVIK", u"New", u"v");      // after the section's last line
  ini->WriteString(u"Last", u"More", u"m");       // after a last line without a line end
  ini->WriteString(u"Fresh", u"K", u"Kontör");    // a new section at the end, in code page 1254
  EXPECT_EQ(ReadAll(Path),
            "; settings of the loader\r\n"
            "orphan before any section\r\n"
            "[Other]\r\n"
            "Key=1\r\n"
            "\r\n"
            "[TALVIK]\n"
            "; the port\n"
            "COM=3\r\n"
            "a line without equals\n"
            "New=v\r\n"
            "\n"
            "[Last]\r\n"
            "X=\x01\x02\xff\r\n"
            "Tail=no newline\r\n"
            "More=m\r\n"
            "[Fresh]\r\n"
            "K=Kont\xf6r\r\n");
  EXPECT_EQ(ini->ReadString(u"Fresh", u"K", u""), u"Kontör");
  ini->WriteString(u" fresh ", u" k ", u"again");  // names are trimmed as the file reads them
  EXPECT_EQ(ini->ReadString(u"Fresh", u"K", u""), u"again");
  EXPECT_EQ(Section(ini, u"TALVIK"), std::vector<String>({u"COM", u"New"}));  // comments and foreign lines are no keys
  ini->ReadSections(List);
  EXPECT_EQ(ListOf(List), std::vector<String>({u"Other", u"TALVIK", u"Last", u"Fresh"}));

  ini->DeleteKey(u"TALVIK", u"New");
  ini->EraseSection(u"last");
  EXPECT_EQ(ReadAll(Path),
            "; settings of the loader\r\n"
            "orphan before any section\r\n"
            "[Other]\r\n"
            "Key=1\r\n"
            "\r\n"
            "[TALVIK]\n"
            "; the port\n"
            "COM=3\r\n"
            "a line without equals\n"
            "\n"
            "[Fresh]\r\n"
            "K=again\r\n");
  Free(ini);
}

TEST_F(IniFileTest, HostileLinesAndNames) {
  std::string longValue(1 << 20, 'v');
  std::string text = "[S]\n";
  text += "Long=" + longValue + "\n";
  text += std::string("Bin\0ary=\x80\x81\x8d", 12) + "\n";
  text += "[unclosed\n";
  text += "=no name\n";
  text += "   \t\n";
  text += std::string(100000, '[') + "\n";
  WriteAll(Path, text);
  TIniFile* ini = New<TIniFile>(FileName());
  EXPECT_EQ(ini->ReadString(u"S", u"Long", u"").size(), longValue.size());
  EXPECT_EQ(ini->ReadString(u"S", u"", u"x"), u"no name");
  EXPECT_EQ(ini->ReadString(u"unclosed", u"x", u"d"), u"d");

  struct Bad {
    const char16_t* Section;
    const char16_t* Key;
    const char16_t* Value;
  } bad[] = {
      {u"S", u"a=b", u"v"},   {u"S", u"line\nbreak", u"v"}, {u"S", u"k", u"two\r\nlines"},
      {u"a]b", u"k", u"v"},   {u"new\nsection", u"k", u"v"}, {u"S", u" [looks like a section", u"v"},
      {u"S", u";comment", u"v"},
  };
  for (const Bad& b : bad) EXPECT_THROW(ini->WriteString(b.Section, b.Key, b.Value), EIniFileException);
  EXPECT_EQ(ReadAll(Path), text);  // nothing was written

  ini->WriteString(u"S", u"After", u"ok");
  std::string now = ReadAll(Path);
  EXPECT_NE(now.find(std::string("Bin\0ary=\x80\x81\x8d", 12)), std::string::npos);  // foreign bytes kept
  Free(ini);

  // A name that is a folder cannot be read, and is not written over.
  TIniFile* folder = New<TIniFile>(UTF8ToUTF16(Dir));
  EXPECT_EQ(folder->ReadString(u"S", u"K", u"d"), u"d");
  EXPECT_THROW(folder->WriteString(u"S", u"K", u"V"), EIniFileException);
  Free(folder);
  EXPECT_THROW(New<TMemIniFile>(UTF8ToUTF16(Dir)), EIniFileException);

  TIniFile* nowhere = New<TIniFile>(UTF8ToUTF16(Dir + "/missing/dir/x.ini"));
  try {
    nowhere->WriteString(u"S", u"K", u"V");
    FAIL();
  } catch (const EIniFileException& E) {
    EXPECT_EQ(E.Message().substr(0, 19), u"Unable to write to ");
  }
  Free(nowhere);
}

TEST_F(IniFileTest, AFileWithAByteOrderMarkKeepsItsEncoding) {
  WriteAll(Path, "\xEF\xBB\xBF[S]\r\nName=Kontör\r\n");
  TIniFile* ini = New<TIniFile>(FileName());
  EXPECT_EQ(ini->ReadString(u"S", u"Name", u""), u"Kontör");
  ini->WriteString(u"S", u"Other", u"ğ");
  EXPECT_EQ(ReadAll(Path), "\xEF\xBB\xBF[S]\r\nName=Kontör\r\nOther=ğ\r\n");
  Free(ini);

  const char utf16[] = "\xFF\xFE[\0S\0]\0\r\0\n\0K\0=\0\x1F\x01\r\0\n\0";  // "[S]", "K=ğ"
  WriteAll(Path, std::string(utf16, sizeof utf16 - 1));
  ini = New<TIniFile>(FileName());
  EXPECT_EQ(ini->ReadString(u"S", u"K", u""), u"ğ");
  ini->WriteString(u"S", u"K", u"ı");
  const char expected[] = "\xFF\xFE[\0S\0]\0\r\0\n\0K\0=\0\x31\x01\r\0\n\0";
  EXPECT_EQ(ReadAll(Path), std::string(expected, sizeof expected - 1));
  Free(ini);

  // A damaged UTF-16 file ending in half a code unit: what is written after
  // it stays aligned and reads back.
  for (const char* bom : {"\xFF\xFE", "\xFE\xFF"}) {
    WriteAll(Path, std::string(bom, 2) + std::string("\0\0VIK]\r\n2C", 11));
    ini = New<TIniFile>(FileName());
    ini->WriteString(u"Fuzz", u"Key", u"Value");
    EXPECT_EQ(ini->ReadString(u"Fuzz", u"Key", u""), u"Value");
    EXPECT_EQ(ReadAll(Path).size() % 2, 0u);
    Free(ini);
  }
}

TEST_F(IniFileTest, MemIniFileWritesTheStorageLayout) {
  TMemIniFile* ini = New<TMemIniFile>(FileName());
  ini->WriteInteger(u"Main", u"Version", 1);
  ini->WriteString(u"Obj: TSample", u"", u"");
  ini->WriteInteger(u"Obj: TSample", u"Count", 3);
  ini->WriteString(u"Obj: TSample", u"Title", u"\"a\\\\b\"");
  ini->WriteString(u"Obj/Item: TSampleItem", u"", u"");
  EXPECT_FALSE(Exists(Path));  // nothing is written before UpdateFile
  ini->UpdateFile();
  Free(ini);
  EXPECT_EQ(ReadAll(Path),
            "\xEF\xBB\xBF[Main]\r\nVersion=1\r\n\r\n[Obj: TSample]\r\n=\r\nCount=3\r\nTitle=\"a\\\\b\"\r\n\r\n"
            "[Obj/Item: TSampleItem]\r\n=\r\n\r\n");

  ini = New<TMemIniFile>(FileName());
  EXPECT_EQ(ini->ReadString(u"obj: tsample", u"title", u""), u"\"a\\\\b\"");  // quotes stay
  EXPECT_TRUE(ini->SectionExists(u"Obj/Item: TSampleItem"));                 // through its "=" entry
  EXPECT_EQ(Section(ini, u"Obj: TSample"), std::vector<String>({u"", u"Count", u"Title"}));
  Free(ini);
}

TEST_F(IniFileTest, MemIniFileParsesAsThePlatformDoes) {
  WriteAll(Path,
           "Before=dropped\n"
           "; comment\n"
           "  [Colors]  \n"
           "  Red = 1 \n"
           "plain line\n"
           ";note=not a key\n"
           "[colors]\n"
           "Blue=2\n"
           "[Text]\n"
           "Word=Kont\xf6r\n");  // not UTF-8: read as ANSI
  TMemIniFile* ini = New<TMemIniFile>(FileName());
  ini->ReadSections(List);
  EXPECT_EQ(ListOf(List), std::vector<String>({u"Colors", u"Text"}));
  EXPECT_EQ(ini->ReadString(u"COLORS", u"red", u""), u"1");
  EXPECT_EQ(ini->ReadString(u"Colors", u"Blue", u""), u"2");
  EXPECT_EQ(ini->ReadString(u"Colors", u"Before", u"none"), u"none");
  EXPECT_EQ(ini->ReadString(u"Text", u"Word", u""), u"Kontör");
  EXPECT_EQ(Section(ini, u"Colors"), std::vector<String>({u"Red", u"Blue"}));
  ini->ReadSectionValues(u"Colors", List);
  EXPECT_EQ(ListOf(List), std::vector<String>({u"Red=1", u"plain line", u"Blue=2"}));
  ini->SetCaseSensitive(true);
  EXPECT_EQ(ini->ReadString(u"COLORS", u"Red", u"none"), u"none");
  ini->SetCaseSensitive(false);

  ini->DeleteKey(u"colors", u"RED");
  ini->EraseSection(u"TEXT");
  TStringList* lines = New<TStringList>();
  ini->GetStrings(lines);
  EXPECT_EQ(ListOf(lines), std::vector<String>({u"[Colors]", u"plain line", u"Blue=2", u""}));
  lines->Clear();
  lines->Add(u"[New]");
  lines->Add(u"A=1");
  ini->SetStrings(lines);
  EXPECT_FALSE(ini->SectionExists(u"Colors"));
  EXPECT_EQ(ini->ReadInteger(u"New", u"A", 0), 1);
  Free(lines);

  // UTF-8 without a mark is read as UTF-8; Rename with Reload reads another file.
  WriteAll(Dir + "/u.ini", "[S]\nK=Kontör\n");
  ini->Rename(UTF8ToUTF16(Dir + "/u.ini"), true);
  EXPECT_EQ(ini->ReadString(u"S", u"K", u""), u"Kontör");
  EXPECT_THROW(ini->WriteString(u"S", u"a=b", u""), EIniFileException);
  Free(ini);

  TMemIniFile* nowhere = New<TMemIniFile>(UTF8ToUTF16(Dir + "/missing/x.ini"));
  nowhere->WriteString(u"S", u"K", u"V");
  EXPECT_THROW(nowhere->UpdateFile(), EIniFileException);
  Free(nowhere);
}

TEST_F(IniFileTest, BinaryStreamsAndDatesAsText) {
  TMemIniFile* ini = New<TMemIniFile>(FileName());
  TMemoryStream* data = New<TMemoryStream>();
  const uint8_t bytes[] = {0x00, 0xAB, 0x10, 0xFF};
  data->WriteBuffer(bytes, sizeof bytes);
  data->SetPosition(1);
  ini->WriteBinaryStream(u"B", u"Data", data);  // from the position to the end
  EXPECT_EQ(data->Position(), 1);
  EXPECT_EQ(ini->ReadString(u"B", u"Data", u""), u"AB10FF");

  data->Clear();
  EXPECT_EQ(ini->ReadBinaryStream(u"B", u"Data", data), 3);
  EXPECT_EQ(data->Position(), 0);
  EXPECT_EQ(data->Size(), 3);
  uint8_t back[3] = {};
  data->ReadBuffer(back, 3);
  EXPECT_EQ(back[0], 0xAB);
  EXPECT_EQ(back[2], 0xFF);

  ini->WriteString(u"B", u"Bad", u"01zz02");
  data->Clear();
  EXPECT_EQ(ini->ReadBinaryStream(u"B", u"Bad", data), 1);  // up to the first pair that is not hexadecimal
  EXPECT_EQ(ini->ReadBinaryStream(u"B", u"Missing", data), 0);
  Free(data);

  const TDateTime when = EncodeDate(2011, 12, 13) + EncodeTime(14, 5, 6, 0);
  ini->WriteDateTime(u"D", u"When", when);
  EXPECT_EQ(ini->ReadString(u"D", u"When", u""), u"13.12.2011 14:05:06");
  EXPECT_DOUBLE_EQ(ini->ReadDateTime(u"D", u"When", 0), when);
  ini->WriteDate(u"D", u"Day", when);
  EXPECT_DOUBLE_EQ(ini->ReadDate(u"D", u"Day", 0), EncodeDate(2011, 12, 13));
  ini->WriteString(u"D", u"Junk", u"31.02.2020");
  EXPECT_DOUBLE_EQ(ini->ReadDate(u"D", u"Junk", 7), 7);
  Free(ini);
}

TEST_F(IniFileTest, RegistryIniFileMapsSectionsToKeys) {
  setenv("CL_REGISTRY_DIR", (Dir + "/registry").c_str(), 1);
  TRegistryIniFile* ini = New<TRegistryIniFile>(u"Software\\Loader");
  ini->WriteString(u"Main.Bar0", u"Caption", u"Kontör");
  ini->WriteInteger(u"Main.Bar0", u"Row", 3);
  ini->WriteBool(u"Main.Bar0", u"Visible", true);
  ini->WriteFloat(u"Main.Bar0", u"Ratio", 0.25);
  ini->WriteString(u"Main.Bar0\\ItemLink0", u"ItemName", u"Open");
  EXPECT_EQ(ini->ReadString(u"main.bar0", u"caption", u""), u"Kontör");
  EXPECT_EQ(ini->ReadInteger(u"Main.Bar0", u"Row", 0), 3);
  EXPECT_TRUE(ini->ReadBool(u"Main.Bar0", u"Visible", false));
  EXPECT_DOUBLE_EQ(ini->ReadFloat(u"Main.Bar0", u"Ratio", 0), 0.25);
  EXPECT_EQ(ini->ReadInteger(u"Missing", u"Row", 9), 9);

  // The stored types: Booleans as strings, numbers as numbers, and a number
  // written over a string value stays a string.
  TRegistry* reg = ini->Registry();
  EXPECT_EQ(reg->CurrentPath(), u"Software\\Loader");
  ASSERT_TRUE(reg->OpenKey(u"Main.Bar0", false));
  EXPECT_EQ(reg->GetDataType(u"Visible"), rdString);
  EXPECT_EQ(reg->GetDataType(u"Row"), rdInteger);
  EXPECT_EQ(reg->GetDataType(u"Ratio"), rdBinary);
  reg->WriteString(u"Count", u"1");
  ini->WriteInteger(u"Main.Bar0", u"Count", 12);
  ASSERT_TRUE(reg->OpenKey(u"\\Software\\Loader\\Main.Bar0", false));
  EXPECT_EQ(reg->ReadString(u"Count"), u"12");
  EXPECT_EQ(ini->ReadInteger(u"Main.Bar0", u"Count", 0), 12);

  ini->ReadSections(List);
  EXPECT_EQ(ListOf(List), std::vector<String>({u"Main.Bar0"}));
  EXPECT_EQ(Section(ini, u"Main.Bar0"), std::vector<String>({u"Caption", u"Row", u"Visible", u"Ratio", u"Count"}));
  EXPECT_TRUE(ini->ValueExists(u"Main.Bar0\\ItemLink0", u"ItemName"));
  ini->DeleteKey(u"Main.Bar0", u"Row");
  EXPECT_FALSE(ini->ValueExists(u"Main.Bar0", u"Row"));
  ini->EraseSection(u"Main.Bar0");
  ini->ReadSections(List);
  EXPECT_EQ(List->Count(), 0);
  Free(ini);
  unsetenv("CL_REGISTRY_DIR");
}
