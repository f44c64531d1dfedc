// The translation data of a localization component: any bytes are read
// without a fault (a legacy code-page failure is the one clear error), and
// what was read is stable after one round trip: write, read into a fresh
// component, write again gives the same bytes. The first byte chooses the
// number of languages and whether the data is merged into existing lines.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "localization/qlComp.h"
#include "platform/classes/StringLists.h"
#include "platform/classes/Streams.h"

namespace {

using TLangPtr = std::unique_ptr<TqlLang, TObjectFree>;

RawByteString Write(TqlLang* Lang) {
  std::unique_ptr<TMemoryStream, TObjectFree> s(New<TMemoryStream>());
  Lang->WriteTranslationData(s.get());
  return RawByteString(static_cast<const char*>(s->Memory()), size_t(s->Size()));
}

void Read(TqlLang* Lang, const char* Data, size_t Size) {
  std::unique_ptr<TMemoryStream, TObjectFree> s(New<TMemoryStream>());
  if (Size) s->WriteBuffer(Data, Integer(Size));
  s->SetPosition(0);
  Lang->ReadTranslationData(s.get());
}

TLangPtr NewLang(Integer Languages, Boolean Merging) {
  TLangPtr lang(New<TqlLang>(nullptr));
  lang->SetNumOfLanguages(Languages);
  lang->SetIsInheritedOwner(Merging);
  return lang;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  if (Size == 0) return 0;
  const Integer languages = Data[0] % 4 + 1;
  const Boolean merging = (Data[0] & 0x10) != 0;
  const char* bytes = reinterpret_cast<const char*>(Data + 1);
  TLangPtr first = NewLang(languages, merging);
  if (merging) first->Captions()->Add(String(u"P") + Char(1) + u"a" + Char(1));
  try {
    Read(first.get(), bytes, Size - 1);
  } catch (const ELanguageError&) {
    return 0;
  }
  const RawByteString written = Write(first.get());
  TLangPtr second = NewLang(languages, false);
  Read(second.get(), written.data(), written.size());
  if (Write(second.get()) != written) __builtin_trap();
  return 0;
}
