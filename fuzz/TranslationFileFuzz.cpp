// Text translation files: any bytes load into a localization component
// without a fault (a save may refuse what it cannot store, with
// ELanguageError), and what was loaded is stable: once a file has been
// through one save and load, saving, loading and saving again gives the same
// text. A merge of the same bytes into a component with lines of its own
// never fails.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "localization/qlComp.h"
#include "platform/classes/StringLists.h"
#include "platform/classes/Streams.h"

namespace {

using TStreamPtr = std::unique_ptr<TMemoryStream, TObjectFree>;
using TRootPtr = std::unique_ptr<TComponent, TObjectFree>;

std::string SaveAll(TqlLang* Lang) {
  TStreamPtr s(New<TMemoryStream>());
  Lang->SaveAllToStream(s.get(), u"~!@#");
  return std::string(static_cast<const char*>(s->Memory()), size_t(s->Size()));
}

TStreamPtr StreamOf(const void* Data, size_t Size) {
  TStreamPtr s(New<TMemoryStream>());
  if (Size) s->WriteBuffer(Data, Integer(Size));
  s->SetPosition(0);
  return s;
}

// A fresh component on a root of its own loads the bytes and saves them.
std::string Reload(const void* Data, size_t Size) {
  TRootPtr root(New<TComponent>(static_cast<TComponent*>(nullptr)));
  TqlLang* lang = New<TqlLang>(root.get());
  TStreamPtr s = StreamOf(Data, Size);
  lang->LoadAllFromStream(s.get(), true, false);
  return SaveAll(lang);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  std::string first;
  try {
    first = Reload(Data, Size);
  } catch (const ELanguageError&) {
    // A value read with the file's own delimiter text holds the default
    // one: the save refuses it (it would come back as other columns).
  }
  const std::string second = Reload(first.data(), first.size());
  const std::string third = Reload(second.data(), second.size());
  if (second != third) __builtin_trap();

  TRootPtr root(New<TComponent>(static_cast<TComponent*>(nullptr)));
  TqlLang* lang = New<TqlLang>(root.get());
  lang->Captions()->Add(String(u"TComponent") + Char(1) + u"a" + Char(1));
  TStreamPtr s = StreamOf(Data, Size);
  if (!lang->MergeAllFromStream(s.get())) __builtin_trap();
  return 0;
}
