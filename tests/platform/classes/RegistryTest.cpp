#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/classes/Registry.h"
#include "platform/classes/StringLists.h"
#include "platform/classes/WinRegistry.h"
#include "tests/support/TestSupport.h"

using namespace win;

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

// Each test gets its own registry folder.
class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override { UseFolder(testing_support::MakeTempDir("registry")); }
  void TearDown() override {
    Free(Reg);
    unsetenv("CL_REGISTRY_DIR");
  }
  void UseFolder(const std::string& Dir) {
    Folder = Dir;
    setenv("CL_REGISTRY_DIR", Dir.c_str(), 1);
  }
  std::string UserFile() const { return Folder + "/HKEY_CURRENT_USER.txt"; }
  // A fresh TRegistry on HKEY_CURRENT_USER.
  TRegistry* Fresh() {
    Free(Reg);
    Reg = New<TRegistry>();
    return Reg;
  }
  std::vector<String> Names(bool Keys) {
    TStringList* list = New<TStringList>();
    if (Keys)
      Reg->GetKeyNames(list);
    else
      Reg->GetValueNames(list);
    std::vector<String> out;
    for (Integer i = 0; i < list->Count(); ++i) out.push_back(list->Strings(i));
    Free(list);
    return out;
  }

  std::string Folder;
  TRegistry* Reg = nullptr;
};

}  // namespace

TEST_F(RegistryTest, TypedValuesSurviveTheFile) {
  TRegistry* r = Fresh();
  ASSERT_TRUE(r->OpenKey(u"Software\\Test", true));
  EXPECT_EQ(r->CurrentPath(), u"Software\\Test");
  const uint8_t blob[] = {0, 1, 0xFF, 0x7F};
  r->WriteString(u"Text", u"Kontör \"a\\b\"\r\n\t end");
  r->WriteExpandString(u"Expand", u"%HOME%/x");
  r->WriteInteger(u"Int", -5);
  r->WriteBool(u"Bool", true);
  r->WriteBinaryData(u"Blob", blob, sizeof blob);
  r->WriteFloat(u"Float", 23.14);
  r->WriteCurrency(u"Money", Currency::FromRaw(-123456789));
  r->WriteDateTime(u"When", 40890.5);
  r->WriteString(u"Empty", u"");

  // Read back from the file alone: a copy in another folder is read afresh.
  std::string copy = testing_support::MakeTempDir("registry-copy");
  WriteAll(copy + "/HKEY_CURRENT_USER.txt", ReadAll(UserFile()));
  UseFolder(copy);
  r = Fresh();
  ASSERT_TRUE(r->OpenKey(u"\\software\\TEST", false));
  EXPECT_EQ(r->ReadString(u"text"), u"Kontör \"a\\b\"\r\n\t end");
  EXPECT_EQ(r->ReadExpandString(u"Expand"), u"%HOME%/x");
  EXPECT_EQ(r->GetDataType(u"Expand"), rdExpandString);
  EXPECT_EQ(r->ReadInteger(u"Int"), -5);
  EXPECT_TRUE(r->ReadBool(u"Bool"));
  uint8_t back[8] = {};
  EXPECT_EQ(r->ReadBinaryData(u"Blob", back, sizeof back), 4);
  EXPECT_EQ(std::vector<uint8_t>(back, back + 4), std::vector<uint8_t>(blob, blob + 4));
  EXPECT_DOUBLE_EQ(r->ReadFloat(u"Float"), 23.14);
  EXPECT_EQ(r->ReadCurrency(u"Money").Raw(), -123456789);
  EXPECT_DOUBLE_EQ(r->ReadDateTime(u"When"), 40890.5);
  EXPECT_EQ(r->ReadString(u"Empty"), u"");
  EXPECT_EQ(r->GetDataSize(u"Empty"), 2);
  EXPECT_EQ(r->GetDataSize(u"Missing"), -1);
  EXPECT_EQ(r->GetDataType(u"Float"), rdBinary);
  EXPECT_EQ(r->GetDataType(u"Int"), rdInteger);
  EXPECT_EQ(r->GetDataType(u"Missing"), rdUnknown);
  // Values keep the order they were made in.
  EXPECT_EQ(Names(false), std::vector<String>({u"Text", u"Expand", u"Int", u"Bool", u"Blob", u"Float", u"Money",
                                               u"When", u"Empty"}));
}

TEST_F(RegistryTest, RawValuesOfEveryTypeKeepTheirBytes) {
  HKEY key = nullptr;
  DWORD disposition = 0;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, u"Raw", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, &disposition),
            (LSTATUS)ERROR_SUCCESS);
  EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
  struct Case {
    const char16_t* Name;
    DWORD Type;
    std::vector<BYTE> Data;
  } cases[] = {
      {u"multi", REG_MULTI_SZ, {'a', 0, 0, 0, 'b', 0, 0, 0, 0, 0}},
      {u"qword", REG_QWORD, {1, 2, 3, 4, 5, 6, 7, 0x80}},
      {u"dword", REG_DWORD, {0xFF, 0xFF, 0xFF, 0xFF}},
      {u"short dword", REG_DWORD, {1, 2}},
      {u"unterminated", REG_SZ, {'a', 0, 'b'}},
      {u"lone surrogate", REG_SZ, {0x00, 0xD8, 'x', 0, 0, 0}},
      {u"none", REG_NONE, {}},
      {u"odd type", 0x12345, {9}},
      {u"", REG_SZ, {'d', 0, 0, 0}},  // the default value
  };
  for (const Case& c : cases)
    ASSERT_EQ(RegSetValueExW(key, c.Name, 0, c.Type, c.Data.data(), static_cast<DWORD>(c.Data.size())),
              (LSTATUS)ERROR_SUCCESS);
  RegCloseKey(key);

  std::string copy = testing_support::MakeTempDir("registry-copy");
  WriteAll(copy + "/HKEY_CURRENT_USER.txt", ReadAll(UserFile()));
  UseFolder(copy);
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"RAW", 0, KEY_READ, &key), (LSTATUS)ERROR_SUCCESS);
  for (const Case& c : cases) {
    DWORD type = 0, size = 0;
    ASSERT_EQ(RegQueryValueExW(key, c.Name, nullptr, &type, nullptr, &size), (LSTATUS)ERROR_SUCCESS);
    std::vector<BYTE> data(size);
    ASSERT_EQ(RegQueryValueExW(key, c.Name, nullptr, &type, data.data(), &size), (LSTATUS)ERROR_SUCCESS);
    EXPECT_EQ(type, c.Type);
    EXPECT_EQ(data, c.Data);
  }
  // A buffer too small answers ERROR_MORE_DATA with the size needed.
  BYTE small[4];
  DWORD size = sizeof small;
  EXPECT_EQ(RegQueryValueExW(key, u"qword", nullptr, nullptr, small, &size), (LSTATUS)ERROR_MORE_DATA);
  EXPECT_EQ(size, 8u);
  EXPECT_EQ(RegQueryValueExW(key, u"absent", nullptr, nullptr, nullptr, &size), (LSTATUS)ERROR_FILE_NOT_FOUND);
  // Writing through a read-only handle is refused.
  DWORD one = 1;
  EXPECT_EQ(RegSetValueExW(key, u"x", 0, REG_DWORD, reinterpret_cast<BYTE*>(&one), 4), (LSTATUS)ERROR_ACCESS_DENIED);
  RegCloseKey(key);
  EXPECT_EQ(RegCloseKey(key), (LSTATUS)ERROR_INVALID_HANDLE);
}

TEST_F(RegistryTest, EnumerationOrderAndBufferRules) {
  TRegistry* r = Fresh();
  for (const char16_t* k : {u"Top\\beta", u"Top\\Alpha", u"Top\\gamma", u"Top\\[ClassName]"}) r->CreateKey(k);
  ASSERT_TRUE(r->OpenKey(u"Top", false));
  // Subkeys come in name order, ignoring case.
  EXPECT_EQ(Names(true), std::vector<String>({u"Alpha", u"beta", u"gamma", u"[ClassName]"}));
  EXPECT_TRUE(r->HasSubKeys());

  HKEY top = r->CurrentKey();
  WCHAR buf[4];
  DWORD len = 4;
  EXPECT_EQ(RegEnumKeyExW(top, 0, buf, &len, nullptr, nullptr, nullptr, nullptr), (LSTATUS)ERROR_MORE_DATA);
  len = 6;
  WCHAR big[6];
  EXPECT_EQ(RegEnumKeyExW(top, 0, big, &len, nullptr, nullptr, nullptr, nullptr), (LSTATUS)ERROR_SUCCESS);
  EXPECT_EQ(String(big), u"Alpha");
  EXPECT_EQ(len, 5u);
  len = 6;
  EXPECT_EQ(RegEnumKeyExW(top, 4, big, &len, nullptr, nullptr, nullptr, nullptr), (LSTATUS)ERROR_NO_MORE_ITEMS);
  len = 6;
  EXPECT_EQ(RegEnumValueW(top, 0, big, &len, nullptr, nullptr, nullptr, nullptr), (LSTATUS)ERROR_NO_MORE_ITEMS);
}

TEST_F(RegistryTest, DeleteKeyRemovesTheWholeSubtree) {
  TRegistry* r = Fresh();
  r->CreateKey(u"Root\\A\\B\\C");
  r->CreateKey(u"Root\\Keep");
  ASSERT_TRUE(r->OpenKey(u"Root\\A\\B", false));
  r->WriteInteger(u"n", 1);
  HKEY stale = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"Root\\A\\B\\C", 0, KEY_READ, &stale), (LSTATUS)ERROR_SUCCESS);
  r->CloseKey();

  // The raw call refuses a key that still has subkeys.
  EXPECT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, u"Root\\A"), (LSTATUS)ERROR_ACCESS_DENIED);
  EXPECT_TRUE(r->DeleteKey(u"Root\\A"));
  EXPECT_FALSE(r->KeyExists(u"Root\\A"));
  EXPECT_FALSE(r->KeyExists(u"Root\\A\\B\\C"));
  EXPECT_TRUE(r->KeyExists(u"Root\\Keep"));
  EXPECT_FALSE(r->DeleteKey(u"Root\\A"));
  DWORD size = 0;
  EXPECT_EQ(RegQueryValueExW(stale, u"n", nullptr, nullptr, nullptr, &size), (LSTATUS)ERROR_KEY_DELETED);
  RegCloseKey(stale);
  EXPECT_EQ(ReadAll(UserFile()).find("Root\\A"), std::string::npos);
}

TEST_F(RegistryTest, ReadAndWriteErrorsNameTheValue) {
  TRegistry* r = Fresh();
  // No key open: a missing string reads as empty, the rest fails.
  EXPECT_EQ(r->ReadString(u"x"), u"");
  try {
    r->WriteString(u"x", u"y");
    FAIL();
  } catch (const ERegistryException& E) {
    EXPECT_EQ(E.Message(), u"Failed to set data for 'x'");
  }
  ASSERT_TRUE(r->OpenKey(u"Errors", true));
  r->WriteString(u"Text", u"12");
  r->WriteInteger(u"Number", 12);
  r->WriteBinaryData(u"Four", "abcd", 4);
  struct Case {
    std::function<void()> Call;
    String Message;
  } cases[] = {
      {[&] { r->ReadInteger(u"Missing"); }, u"Failed to get data for 'Missing'"},
      {[&] { r->ReadInteger(u"Text"); }, u"Failed to get data for 'Text'"},  // 6 bytes do not fit 4
      {[&] { r->ReadInteger(u"Four"); }, u"Invalid data type for 'Four'"},
      {[&] { r->ReadString(u"Number"); }, u"Invalid data type for 'Number'"},
      {[&] { r->ReadFloat(u"Four"); }, u"Invalid data type for 'Four'"},
      {[&] { r->ReadBool(u"Text"); }, u"Failed to get data for 'Text'"},
      {[&] {
         char small[2];
         r->ReadBinaryData(u"Four", small, 2);
       },
       u"Invalid data type for 'Four'"},
  };
  for (const Case& c : cases) {
    try {
      c.Call();
      ADD_FAILURE() << "no exception: " << std::string(c.Message.begin(), c.Message.end());
    } catch (const ERegistryException& E) {
      EXPECT_EQ(E.Message(), c.Message);
    }
  }
  EXPECT_EQ(r->ReadBinaryData(u"Missing", nullptr, 0), 0);
}

TEST_F(RegistryTest, RelativeAbsoluteAndReadOnlyKeys) {
  TRegistry* r = Fresh();
  ASSERT_TRUE(r->OpenKey(u"Software", true));
  ASSERT_TRUE(r->OpenKey(u"Vendor", true));  // relative to the current key
  EXPECT_EQ(r->CurrentPath(), u"Software\\Vendor");
  ASSERT_TRUE(r->OpenKey(u"\\Other", true));  // from the root
  EXPECT_EQ(r->CurrentPath(), u"Other");
  EXPECT_FALSE(r->OpenKey(u"\\Nowhere", false));
  EXPECT_EQ(r->CurrentPath(), u"Other");  // a failed open keeps the current key
  ASSERT_TRUE(r->OpenKeyReadOnly(u"\\Software\\Vendor"));
  EXPECT_THROW(r->WriteInteger(u"x", 1), ERegistryException);
  r->SetRootKey(HKEY_LOCAL_MACHINE);
  EXPECT_EQ(r->CurrentKey(), nullptr);
  EXPECT_EQ(r->CurrentPath(), u"");
}

TEST_F(RegistryTest, HostileNamesRoundTrip) {
  const String names[] = {
      u"quote \" and back\\slash",
      u"new\nline\r\ttab",
      String(u"nul\0inside", 10),
      u"percent %41 and [brackets]",
      u"lone \xD800 surrogate",
      u"emoji \U0001F600",
      u"=starts with equals",
  };
  TRegistry* r = Fresh();
  for (const String& n : names) {
    if (n.find(u'\0') == String::npos && n.find(u'\\') == String::npos) {
      ASSERT_TRUE(r->OpenKey(u"\\Hostile\\" + n, true));
      r->WriteString(n, n);
    }
  }
  ASSERT_TRUE(r->OpenKey(u"\\Values", true));
  for (const String& n : names) r->WriteString(n, n + u"!");

  std::string copy = testing_support::MakeTempDir("registry-copy");
  WriteAll(copy + "/HKEY_CURRENT_USER.txt", ReadAll(UserFile()));
  UseFolder(copy);
  r = Fresh();
  for (const String& n : names) {
    if (n.find(u'\0') == String::npos && n.find(u'\\') == String::npos) {
      ASSERT_TRUE(r->OpenKey(u"\\Hostile\\" + n, false));
      EXPECT_EQ(r->ReadString(n), n);
    }
  }
  ASSERT_TRUE(r->OpenKey(u"\\Values", false));
  for (const String& n : names) {
    // The API takes names and ReadString texts up to a null: "nul\0inside" was stored as "nul".
    String value = n + u"!";
    EXPECT_EQ(r->ReadString(n.substr(0, n.find(u'\0'))), value.substr(0, value.find(u'\0')));
  }
  EXPECT_EQ(Names(false).size(), std::size(names));
}

TEST_F(RegistryTest, ADamagedFileRaisesAndIsNotOverwritten) {
  const std::string damaged =
      "; hand-edited\n"
      "[Software\\Good]\n"
      "\"Port\"=sz:\"COM1\"\n"
      "\"Broken\"=dword:12zz\n";
  WriteAll(UserFile(), damaged);
  TRegistry* r = Fresh();
  try {
    r->OpenKey(u"Software\\Good", false);
    FAIL();
  } catch (const ERegistryException& E) {
    std::string msg(E.what());
    EXPECT_NE(msg.find("damaged"), std::string::npos) << msg;
    EXPECT_NE(msg.find("line 4"), std::string::npos) << msg;
  }
  EXPECT_THROW(r->CreateKey(u"Software\\New"), ERegistryException);
  HKEY key = nullptr;
  EXPECT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, u"X", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
            (LSTATUS)ERROR_BADDB);
  EXPECT_EQ(ReadAll(UserFile()), damaged);  // the keys in it are not lost

  // Other roots are not affected, and the mended file is read again.
  r->SetRootKey(HKEY_LOCAL_MACHINE);
  EXPECT_TRUE(r->OpenKey(u"Software", true));
  WriteAll(UserFile(), "[Software\\Good]\n\"Port\"=sz:\"COM1\"\n");
  r->SetRootKey(HKEY_CURRENT_USER);
  ASSERT_TRUE(r->OpenKey(u"Software\\Good", false));
  EXPECT_EQ(r->ReadString(u"Port"), u"COM1");
}

TEST_F(RegistryTest, DamageOfEveryKindIsReported) {
  const char* files[] = {
      "\"Value\"=sz:\"before any key\"\n",
      "[Unclosed\n",
      "[Key]\n\"Unterminated=sz:\"x\"\n",
      "[Key]\n\"v\"=sz:\"bad escape \\q\"\n",
      "[Key]\n\"v\"=wat:1\n",
      "[Key]\n\"v\"=binary:0g\n",
      "[Key]\n\"v\"=hex(99999999999):00\n",
      "[Key]\n\"v\"=dword:1\n",
      "[Key]\n\"v\"=sz:\"a\"\n\"V\"=sz:\"b\"\n",
      "[Key\\\\Empty]\n",
      "[Bad%zz]\n",
      "[Key%00x]\n",                      // a null in a key name: no call could open it
      "[Key]\n\"v\\u0000x\"=sz:\"a\"\n",  // nor read a value of a name with one
      "just text\n",
      "[Key]\n\"v\"=sz:\"a\"trailing\n",
  };
  std::string deep = "[";
  for (int i = 0; i < 600; ++i) deep += i ? "\\k" : "k";
  deep += "]\n";
  std::vector<std::string> all(std::begin(files), std::end(files));
  all.push_back(deep);  // deeper than the 512 levels a path may have
  for (const std::string& text : all) {
    WriteAll(UserFile(), text);
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"Key", 0, KEY_READ, &key), (LSTATUS)ERROR_BADDB) << text;
    EXPECT_NE(RegistryStoreError(HKEY_CURRENT_USER), u"") << text;
  }
}

TEST_F(RegistryTest, NamesBeyondTheLimitsAreRefused) {
  HKEY key = nullptr;
  String deep;
  for (int i = 0; i < 513; ++i) deep += i ? u"\\k" : u"k";
  EXPECT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, deep.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
            (LSTATUS)ERROR_INVALID_PARAMETER);
  String longName(256, u'n');
  EXPECT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, longName.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
            (LSTATUS)ERROR_INVALID_PARAMETER);
  String longValue(16384, u'v');
  EXPECT_EQ(RegSetValueExW(HKEY_CURRENT_USER, longValue.c_str(), 0, REG_SZ, nullptr, 0), (LSTATUS)ERROR_INVALID_PARAMETER);
  EXPECT_EQ(RegOpenKeyExW(reinterpret_cast<HKEY>(&key), u"x", 0, KEY_READ, &key), (LSTATUS)ERROR_INVALID_HANDLE);
}

TEST_F(RegistryTest, ThreadsWritingAtOnceLoseNothing) {
  std::vector<std::thread> writers;
  for (int t = 0; t < 4; ++t)
    writers.emplace_back([t] {
      HKEY key = nullptr;
      String name = u"Threads\\T" + String(1, char16_t(u'0' + t));
      if (RegCreateKeyExW(HKEY_CURRENT_USER, name.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr))
        return;
      for (DWORD i = 0; i < 40; ++i) {
        String v = u"v" + String(1, char16_t(u'A' + i / 26)) + String(1, char16_t(u'A' + i % 26));
        RegSetValueExW(key, v.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&i), 4);
      }
      RegCloseKey(key);
    });
  for (auto& w : writers) w.join();
  std::string copy = testing_support::MakeTempDir("registry-copy");
  WriteAll(copy + "/HKEY_CURRENT_USER.txt", ReadAll(UserFile()));
  UseFolder(copy);
  TRegistry* r = Fresh();
  for (int t = 0; t < 4; ++t) {
    ASSERT_TRUE(r->OpenKey(u"\\Threads\\T" + String(1, char16_t(u'0' + t)), false));
    EXPECT_EQ(Names(false).size(), 40u);
    EXPECT_EQ(r->ReadInteger(u"vBC"), 28);
  }
}

TEST_F(RegistryTest, ChangesByOthersAreSeen) {
  TRegistry* r = Fresh();
  ASSERT_TRUE(r->OpenKey(u"Shared", true));
  r->WriteInteger(u"n", 1);
  WriteAll(UserFile(), "[Shared]\n\"n\"=dword:00000002\n\"m\"=sz:\"new\"\n");
  EXPECT_EQ(r->ReadInteger(u"n"), 2);
  EXPECT_EQ(r->ReadString(u"m"), u"new");
  // Rewritten in place at once with the same size: the file's time may not move.
  WriteAll(UserFile(), "[Shared]\n\"n\"=dword:00000003\n\"m\"=sz:\"old\"\n");
  EXPECT_EQ(r->ReadInteger(u"n"), 3);
  EXPECT_EQ(r->ReadString(u"m"), u"old");
}

namespace {
std::vector<TRegistryProviderValue> TwoPorts() {
  std::vector<TRegistryProviderValue> v(2);
  v[0].Name = u"\\Device\\Serial0";
  v[1].Name = u"\\Device\\Serial2";
  v[0].Data = {'C', 0, 'O', 0, 'M', 0, '1', 0, 0, 0};
  v[1].Data = {'C', 0, 'O', 0, 'M', 0, '3', 0, 0, 0};
  return v;
}
}  // namespace

TEST_F(RegistryTest, AProviderAnswersTheSerialPortKey) {
  HKEY key = nullptr;
  EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ, &key),
            (LSTATUS)ERROR_FILE_NOT_FOUND);
  SetRegistryProvider(HKEY_LOCAL_MACHINE, u"HARDWARE\\DEVICEMAP\\SERIALCOMM", &TwoPorts);
  ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ, &key),
            (LSTATUS)ERROR_SUCCESS);
  std::vector<String> ports;
  for (DWORD i = 0;; ++i) {
    WCHAR name[256];
    BYTE data[256];
    DWORD nameLen = 256, dataLen = 256, type = 0;
    LSTATUS r = RegEnumValueW(key, i, name, &nameLen, nullptr, &type, data, &dataLen);
    if (r == (LSTATUS)ERROR_NO_MORE_ITEMS) break;
    ASSERT_EQ(r, (LSTATUS)ERROR_SUCCESS);
    EXPECT_EQ(type, REG_SZ);
    ports.push_back(String(reinterpret_cast<const char16_t*>(data)));
  }
  EXPECT_EQ(ports, std::vector<String>({u"COM1", u"COM3"}));
  EXPECT_EQ(RegSetValueExW(key, u"x", 0, REG_SZ, nullptr, 0), (LSTATUS)ERROR_ACCESS_DENIED);
  RegCloseKey(key);

  TRegistry* r = Fresh();
  r->SetRootKey(HKEY_LOCAL_MACHINE);
  ASSERT_TRUE(r->OpenKeyReadOnly(u"HARDWARE\\DEVICEMAP"));
  EXPECT_EQ(Names(true), std::vector<String>({u"SERIALCOMM"}));
  EXPECT_FALSE(r->DeleteKey(u"SERIALCOMM"));
  SetRegistryProvider(HKEY_LOCAL_MACHINE, u"HARDWARE\\DEVICEMAP\\SERIALCOMM", nullptr);
  EXPECT_FALSE(r->KeyExists(u"\\HARDWARE\\DEVICEMAP\\SERIALCOMM"));
  // Nothing of it was stored.
  EXPECT_EQ(ReadAll(Folder + "/HKEY_LOCAL_MACHINE.txt"), "");
}

namespace {

// The files of a registry file store, by name without the folder.
std::map<std::string, std::string> gStoreFiles;

std::string StoreName(const std::string& AName) { return AName.substr(AName.rfind('/') + 1); }

bool StoreRead(const std::string& AName, std::string& AText, bool& AMissing) {
  auto it = gStoreFiles.find(StoreName(AName));
  AMissing = it == gStoreFiles.end();
  AText = AMissing ? std::string() : it->second;
  return !AMissing;
}

bool StoreWrite(const std::string& AName, const std::string& AText) {
  gStoreFiles[StoreName(AName)] = AText;
  return true;
}

}  // namespace

// With a file store set, the root files are read from it and written to it,
// never to the folder; its changes are seen, damage is reported as with
// files, and without the store the folder is used again.
TEST_F(RegistryTest, AFileStoreTakesThePlaceOfTheFolder) {
  static const TRegistryFileStore store{&StoreRead, &StoreWrite};
  gStoreFiles.clear();
  SetRegistryFileStore(&store);
  TRegistry* r = Fresh();
  ASSERT_TRUE(r->OpenKey(u"Software\\Stored", true));
  r->WriteString(u"Port", u"COM3");
  EXPECT_NE(gStoreFiles["HKEY_CURRENT_USER.txt"].find("COM3"), std::string::npos);
  EXPECT_TRUE(ReadAll(UserFile()).empty()) << "nothing reaches the folder";
  gStoreFiles["HKEY_CURRENT_USER.txt"] = "[Software\\Stored]\n\"Port\"=sz:\"COM4\"\n";
  r = Fresh();
  ASSERT_TRUE(r->OpenKey(u"Software\\Stored", false));
  EXPECT_EQ(r->ReadString(u"Port"), u"COM4");
  gStoreFiles["HKEY_CURRENT_USER.txt"] = "[Software\\Stored]\n\"Port\"=dword:zz\n";
  r = Fresh();
  EXPECT_THROW(r->OpenKey(u"Software\\Stored", false), ERegistryException);
  SetRegistryFileStore(nullptr);
  r = Fresh();
  EXPECT_FALSE(r->OpenKey(u"Software\\Stored", false));  // the folder holds none of it
}
