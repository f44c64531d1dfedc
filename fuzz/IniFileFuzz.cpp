// INI text: TIniFile must read any file and, after a write, read back the
// value written; TMemIniFile's text must be stable after one round trip.
#include <stdlib.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "platform/classes/IniFiles.h"
#include "platform/classes/StringLists.h"
#include "platform/rtl/CodePages.h"

namespace {

const std::string& Folder() {
  static std::string dir = [] {
    char name[] = "/tmp/cl-fuzz-ini-XXXXXX";
    return std::string(mkdtemp(name) ? name : "/tmp");
  }();
  return dir;
}

void WriteFile(const std::string& Path, const uint8_t* Data, size_t Size) {
  FILE* f = std::fopen(Path.c_str(), "wb");
  if (!f) return;
  std::fwrite(Data, 1, Size, f);
  std::fclose(f);
}

std::string ReadFile(const std::string& Path) {
  std::string s;
  FILE* f = std::fopen(Path.c_str(), "rb");
  if (!f) return s;
  char buf[65536];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) s.append(buf, n);
  std::fclose(f);
  return s;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  const std::string path = Folder() + "/fuzz.ini";
  const String name = UTF8ToUTF16(path);

  WriteFile(path, Data, Size);
  TIniFile* ini = New<TIniFile>(name);
  TStringList* sections = New<TStringList>();
  TStringList* keys = New<TStringList>();
  ini->ReadSections(sections);
  for (Integer i = 0; i < sections->Count(); ++i) {
    ini->ReadSectionValues(sections->Strings(i), keys);
    ini->ReadInteger(sections->Strings(i), u"x", 0);
  }
  ini->WriteString(u"Fuzz", u"Key", u"Value");
  if (ini->ReadString(u"Fuzz", u"Key", u"") != u"Value") __builtin_trap();
  Free(ini);

  WriteFile(path, Data, Size);
  TMemIniFile* mem = New<TMemIniFile>(name);
  mem->UpdateFile();
  std::string once = ReadFile(path);
  Free(mem);
  mem = New<TMemIniFile>(name);
  mem->UpdateFile();
  if (ReadFile(path) != once) __builtin_trap();
  Free(mem);
  Free(keys);
  Free(sections);
  return 0;
}
