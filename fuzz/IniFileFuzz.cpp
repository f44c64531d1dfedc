// INI text: TIniFile must read any file and, after a write, read back the
// value written; TMemIniFile's text must be stable after one round trip.
// The files live in memory (an INI file store), so that no input touches the
// disk and the fuzzer runs at full speed.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/classes/IniFiles.h"
#include "platform/classes/StringLists.h"

namespace {

// The one file of the store.
RawByteString gFile;
bool gExists = false;

bool ReadMemory(const String&, RawByteString& Bytes, bool& Missing) {
  Missing = !gExists;
  Bytes = gExists ? gFile : RawByteString();
  return gExists;
}

bool WriteMemory(const String&, const RawByteString& Bytes) {
  gFile = Bytes;
  gExists = true;
  return true;
}

const TIniFileStore kMemoryStore{&ReadMemory, &WriteMemory};

void Put(const uint8_t* Data, size_t Size) {
  gFile.assign(reinterpret_cast<const char*>(Data), Size);
  gExists = true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  SetIniFileStore(&kMemoryStore);
  const String name = u"fuzz.ini";

  Put(Data, Size);
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

  Put(Data, Size);
  TMemIniFile* mem = New<TMemIniFile>(name);
  mem->UpdateFile();
  RawByteString once = gFile;
  Free(mem);
  mem = New<TMemIniFile>(name);
  mem->UpdateFile();
  if (gFile != once) __builtin_trap();
  Free(mem);
  Free(keys);
  Free(sections);
  return 0;
}
