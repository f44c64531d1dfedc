// The skin stream reader: any bytes load a skin or raise an exception and
// leave the skin as it was, never a crash or an unbounded allocation; a skin
// that loads saves and loads again.
#include <cstddef>
#include <cstdint>

#include "lib/lookandfeel/nbSkinsCore.h"
#include "platform/classes/ModuleInit.h"
#include "platform/classes/Streams.h"
#include "platform/rtl/Exceptions.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  static TModulesScope* modules = new TModulesScope();
  (void)modules;
  if (Size > (1u << 20)) return 0;
  TMemoryStream* In = New<TMemoryStream>();
  if (Size > 0) In->WriteBuffer(Data, static_cast<Integer>(Size));
  In->SetPosition(0);
  TnbSkin* Skin = New<TnbSkin>(String(u"Fuzz"), static_cast<void*>(nullptr), false);
  Skin->AddGroup(u"Kept");
  bool Loaded = false;
  try {
    Skin->LoadFromStream(In);
    Loaded = true;
  } catch (const Exception&) {
    if (Skin->GroupCount() != 1 || !Skin->GetGroupByName(u"Kept")) __builtin_trap();
  }
  if (Loaded) {
    TMemoryStream* Out = New<TMemoryStream>();
    Skin->SaveToStream(Out);
    Out->SetPosition(0);
    Skin->LoadFromStream(Out);
    Free(Out);
  }
  Free(Skin);
  Free(In);
  return 0;
}
