#include "app/Settings.h"

#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#include "platform/rtl/CodePages.h"
#include "platform/rtl/Locale.h"
#include "tests/support/TestSupport.h"

namespace {

std::string ReadFile(const std::string& Path) {
  std::ifstream in(Path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

class SettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetSystemLocale(TSystemLocale::Turkish);  // decimal comma: the file must still use "."
    Dir = testing_support::MakeTempDir("settings");
    File = Dir + "/cardloader.ini";
  }
  void Write(const std::string& Body) { std::ofstream(File, std::ios::binary) << Body; }
  String Name() const { return UTF8ToUTF16(File); }
  std::string Dir, File;
};

const char kDefaultText[] =
    "[TALVIK]\r\nCOM=1\r\nKontor=100\r\nSeriNo=0\r\nFaturaNo=AB1234\r\nT1=23.14\r\nT2=32.17\r\nT3=12.97\r\n"
    "T4=23.14\r\nT0=24.68\r\nCokluTarifeAktif=1\r\nTarifeYapisi=1\r\nDusukAlarm=10\r\nTahsilatYeri=ABCD\r\n";

TEST_F(SettingsTest, MissingFileGivesDefaultsAndTheDefaultText) {
  Byte com = 0;
  TCardRecord rec;
  rec.YuklemeTS = 5;
  LoadSettings(Name(), com, rec);
  EXPECT_EQ(com, 1);
  EXPECT_EQ(rec.Kontor, 100);
  EXPECT_EQ(rec.SeriNo, 0u);
  EXPECT_EQ(rec.FaturaNo.ToAnsi(), "AB1234");
  EXPECT_EQ(rec.T1, 23.14);
  EXPECT_EQ(rec.T2, 32.17);
  EXPECT_EQ(rec.T3, 12.97);
  EXPECT_EQ(rec.T4, 23.14);
  EXPECT_EQ(rec.T0, 24.68);
  EXPECT_TRUE(rec.CokluTarife);
  EXPECT_EQ(rec.TarifeYapisi, 1);
  EXPECT_EQ(rec.DusukAlarm, 10);
  EXPECT_EQ(rec.TahsilatYeri.ToAnsi(), "ABCD");
  EXPECT_EQ(rec.YuklemeTS, 0.0);

  SaveSettings(Name(), com, rec);
  EXPECT_EQ(ReadFile(File), kDefaultText);
}

TEST_F(SettingsTest, ValuesAreCutAndBadOnesDefault) {
  Write(
      "[talvik]\r\nCOM=260\r\nKontor=70000\r\nSeriNo=-5\r\nFaturaNo=ABCDEFGH\r\nT1=23,14\r\nT2=1e2\r\nT3="
      "abc\r\n"
      "CokluTarifeAktif=yes\r\nTarifeYapisi=$1FF\r\nDusukAlarm=0x10\r\nTahsilatYeri=\xDE"
      "ehir\r\n");
  Byte com = 0;
  TCardRecord rec;
  LoadSettings(Name(), com, rec);
  EXPECT_EQ(com, 4);            // 260 mod 256
  EXPECT_EQ(rec.Kontor, 4464);  // 70000 - 65536
  EXPECT_EQ(rec.SeriNo, 4294967291u);
  EXPECT_EQ(rec.FaturaNo.ToAnsi(), "ABCDEF");
  EXPECT_EQ(rec.T1, 23.14);  // a comma does not parse
  EXPECT_EQ(rec.T2, 100.0);
  EXPECT_EQ(rec.T3, 12.97);
  EXPECT_EQ(rec.T4, 23.14);      // missing
  EXPECT_TRUE(rec.CokluTarife);  // "yes" is no integer: the default
  EXPECT_EQ(rec.TarifeYapisi, 0xFF);
  EXPECT_EQ(rec.DusukAlarm, 10);  // only "$" introduces hexadecimal
  EXPECT_EQ(AnsiToString(rec.TahsilatYeri.ToAnsi()), u"Şehi");

  Write("[TALVIK]\r\nCokluTarifeAktif=0\r\n");
  LoadSettings(Name(), com, rec);
  EXPECT_FALSE(rec.CokluTarife);
}

TEST_F(SettingsTest, SavingKeepsThePortAndTheDefaults) {
  Write("; kept\r\n[TALVIK]\r\nCOM=2\r\nKontor=7\r\n");
  Byte com = 0;
  TCardRecord rec;
  LoadSettings(Name(), com, rec);
  com = 3;  // chosen in the port dialog; the panel's typed values are not kept
  SaveSettings(Name(), com, rec);
  const std::string text = ReadFile(File);
  EXPECT_NE(text.find("COM=3\r\n"), std::string::npos);
  EXPECT_NE(text.find("Kontor=7\r\n"), std::string::npos);
  EXPECT_NE(text.find("; kept"), std::string::npos);
  Byte com2 = 0;
  TCardRecord again;
  LoadSettings(Name(), com2, again);
  EXPECT_EQ(com2, 3);
  EXPECT_EQ(again.Kontor, 7);
  EXPECT_EQ(again.T0, 24.68);
}

TEST(SettingsFile, BesideTheProgram) {
  const String name = SettingsFileName();
  ASSERT_GE(name.size(), 4u);
  EXPECT_EQ(name.substr(name.size() - 4), u".ini");
  EXPECT_NE(name.find(u"test_app"), String::npos);
}

}  // namespace
