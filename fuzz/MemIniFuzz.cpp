// The localization library's in-memory INI file: any text is parsed, and the
// text it writes reads back to the same lines (equal keys of a section may
// change places, since a key met again goes before its equal).
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "localization/MemIni.h"
#include "platform/classes/StringLists.h"
#include "platform/classes/Streams.h"

namespace {

std::vector<String> TextOf(TqlMemIniFile* Ini) {
  std::unique_ptr<TStringList, TObjectFree> list(New<TStringList>());
  Ini->GetStrings(list.get());
  std::vector<String> lines;
  for (Integer i = 0; i < list->Count(); ++i) lines.push_back(list->Strings(i));
  std::sort(lines.begin(), lines.end());
  return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  std::unique_ptr<TMemoryStream, TObjectFree> stream(New<TMemoryStream>());
  if (Size) stream->WriteBuffer(Data, Integer(Size));
  stream->SetPosition(0);
  std::unique_ptr<TqlMemIniFile, TObjectFree> ini(New<TqlMemIniFile>(String()));
  ini->LoadFromStream(stream.get());
  std::unique_ptr<TStringList, TObjectFree> text(New<TStringList>());
  ini->GetStrings(text.get());
  std::unique_ptr<TqlMemIniFile, TObjectFree> again(New<TqlMemIniFile>(String()));
  again->SetStrings(text.get());
  if (TextOf(again.get()) != TextOf(ini.get())) __builtin_trap();
  ini->ReadInteger(u"a", u"b", 0);
  ini->ReadFloat(u"a", u"b", 0);
  ini->ReadDateTime(u"a", u"b", 0);
  return 0;
}
