// Binary translation files: any bytes either read or give a clear error
// (an Exception), never a fault or an unbounded allocation; a failed load
// leaves the component's lines as they were. A file that reads is written
// again and reads back with the same entries.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "localization/qlBinFiles.h"
#include "localization/qlComp.h"
#include "platform/classes/ClassRegistry.h"
#include "platform/classes/StringLists.h"
#include "platform/classes/Streams.h"

namespace {

using TStreamPtr = std::unique_ptr<TMemoryStream, TObjectFree>;
using TManagerPtr = std::unique_ptr<TQLBFileManager, TObjectFree>;

TStreamPtr StreamOf(const void* Data, size_t Size) {
  TStreamPtr s(New<TMemoryStream>());
  if (Size) s->WriteBuffer(Data, Integer(Size));
  s->SetPosition(0);
  return s;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  if (!GetClass(u"TqlLang")) RegisterClass(TqlLang::StaticClass());
  TStreamPtr s = StreamOf(Data, Size);

  // Into the component of a form whose class names an entry.
  std::unique_ptr<TComponent, TObjectFree> root(New<TComponent>(static_cast<TComponent*>(nullptr)));
  TqlLang* lang = New<TqlLang>(root.get());
  const String mine = String(u"Mine") + Char(1) + u"m" + Char(1);
  lang->Captions()->Add(mine);
  try {
    lang->LoadAllFromBinaryStream(s.get());
  } catch (const Exception&) {
    if (lang->Captions()->Count() != 1 || lang->Captions()->Strings(0) != mine) __builtin_trap();
  }
  if (lang->ComponentCount() != 0 || lang->QLBLoading()) __builtin_trap();

  // Every entry.
  TManagerPtr manager(New<TQLBFileManager>());
  try {
    manager->ReadAllFromStream(s.get());
  } catch (const Exception&) {
    return 0;
  }
  TStreamPtr written(New<TMemoryStream>());
  manager->SaveToStream(written.get());
  TManagerPtr again(New<TQLBFileManager>());
  again->ReadAllFromStream(written.get());
  if (again->CompCount() != manager->CompCount() || !again->Owners()->Equals(manager->Owners()) ||
      again->CommentsFileName != manager->CommentsFileName)
    __builtin_trap();
  return 0;
}
