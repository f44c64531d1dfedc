// Tagged variant stream: any bytes either read as a value or raise
// EReadError (never a crash, an unbounded allocation or another exception);
// a value read writes back to bytes that read as an equal value.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "lib/foundation/vlVariants.h"
#include "platform/classes/Streams.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Variants.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  if (Size > (1u << 20)) return 0;
  TMemoryStream* In = New<TMemoryStream>();
  TMemoryStream* Out = New<TMemoryStream>();
  if (Size > 0) In->WriteBuffer(Data, static_cast<Integer>(Size));
  In->SetPosition(0);
  try {
    Variant V = vlStreamGetVariant(In);
    vlStreamWriteVariant(Out, V);
    Out->SetPosition(0);
    Variant Back = vlStreamGetVariant(Out);
    if (vlCompareVariants(V, Back) != 0 || Out->Position() != Out->Size()) std::abort();
  } catch (const EReadError&) {
  }
  Free(In);
  Free(Out);
  return 0;
}
