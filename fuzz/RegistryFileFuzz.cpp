// A registry root file: a damaged one must fail every call with ERROR_BADDB;
// one that reads must survive being written back unchanged in content.
// The root files live in memory (a registry file store), so that no input
// touches the disk and the fuzzer runs at full speed.
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/classes/WinRegistry.h"

using namespace win;

namespace {

// The root files of the store, by their names without the folder.
std::map<std::string, std::string> gFiles;

std::string BaseName(const std::string& AName) { return AName.substr(AName.rfind('/') + 1); }

bool ReadMemory(const std::string& AName, std::string& AText, bool& AMissing) {
  auto it = gFiles.find(BaseName(AName));
  AMissing = it == gFiles.end();
  AText = AMissing ? std::string() : it->second;
  return !AMissing;
}

bool WriteMemory(const std::string& AName, const std::string& AText) {
  gFiles[BaseName(AName)] = AText;
  return true;
}

const TRegistryFileStore kMemoryStore{&ReadMemory, &WriteMemory};

// Every key below Key with every value, as one text; false on a failure.
bool Walk(HKEY Key, std::u16string& Out, int Depth) {
  for (DWORD i = 0;; ++i) {
    WCHAR name[16384];
    DWORD nameLen = 16384, type = 0, size = 0;
    LSTATUS r = RegEnumValueW(Key, i, name, &nameLen, nullptr, &type, nullptr, &size);
    if (r == static_cast<LSTATUS>(ERROR_NO_MORE_ITEMS)) break;
    if (r != ERROR_SUCCESS) return false;
    std::vector<BYTE> data(size);
    if (RegQueryValueExW(Key, std::u16string(name, nameLen).c_str(), nullptr, &type, data.data(), &size) !=
        ERROR_SUCCESS)
      return false;
    Out += u"v:" + std::u16string(name, nameLen) + u"/" + std::u16string(1, char16_t(type)) + u"/" +
           std::u16string(data.begin(), data.end()) + u"\n";
  }
  for (DWORD i = 0;; ++i) {
    WCHAR name[256];
    DWORD nameLen = 256;
    LSTATUS r = RegEnumKeyExW(Key, i, name, &nameLen, nullptr, nullptr, nullptr, nullptr);
    if (r == static_cast<LSTATUS>(ERROR_NO_MORE_ITEMS)) break;
    if (r != ERROR_SUCCESS) return false;
    HKEY sub = nullptr;
    std::u16string n(name, nameLen);
    if (RegOpenKeyExW(Key, n.c_str(), 0, KEY_READ, &sub) != ERROR_SUCCESS) return false;
    Out += u"k:" + std::u16string(static_cast<size_t>(Depth), u' ') + n + u"\n";
    bool ok = Walk(sub, Out, Depth + 1);
    RegCloseKey(sub);
    if (!ok) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  SetRegistryFileStore(&kMemoryStore);
  gFiles.clear();
  gFiles["HKEY_CURRENT_USER.txt"] = std::string(reinterpret_cast<const char*>(Data), Size);

  HKEY root = nullptr;
  LSTATUS r = RegOpenKeyExW(HKEY_CURRENT_USER, nullptr, 0, KEY_ALL_ACCESS, &root);
  if (r == static_cast<LSTATUS>(ERROR_BADDB)) {
    DWORD one = 1;
    if (RegSetValueExW(HKEY_CURRENT_USER, u"x", 0, REG_DWORD, reinterpret_cast<BYTE*>(&one), 4) !=
        static_cast<LSTATUS>(ERROR_BADDB))
      __builtin_trap();
    return 0;
  }
  if (r != ERROR_SUCCESS) __builtin_trap();
  std::u16string before, after;
  if (!Walk(root, before, 0)) __builtin_trap();
  // A write saves the whole tree; reading it back must give the same tree.
  DWORD one = 1;
  if (RegSetValueExW(root, u"fuzz marker", 0, REG_DWORD, reinterpret_cast<BYTE*>(&one), 4) != ERROR_SUCCESS)
    __builtin_trap();
  if (RegDeleteValueW(root, u"fuzz marker") != ERROR_SUCCESS) __builtin_trap();
  RegCloseKey(root);
  if (RegOpenKeyExW(HKEY_CURRENT_USER, nullptr, 0, KEY_READ, &root) != ERROR_SUCCESS) __builtin_trap();
  if (!Walk(root, after, 0) || after != before) __builtin_trap();
  RegCloseKey(root);
  return 0;
}
