// The library's bitmap stream form: any bytes given as a bitmap's form data
// ("BNBM" compressed or plain) load a bitmap or raise EInvalidGraphic or
// EReadError, never a crash or an allocation beyond the data's bounds. The
// decoder is also fed the bytes directly as a body of either version.
#include <cstddef>
#include <cstdint>

#include "lib/foundation/vlImages.h"
#include "platform/classes/ModuleInit.h"
#include "platform/classes/Streams.h"
#include "platform/rtl/Exceptions.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  static TModulesScope* modules = new TModulesScope();
  (void)modules;
  if (Size > (1u << 20)) return 0;
  for (SmallInt version : {1, 2}) {
    try {
      vlDecompressBitmapData(Data, Size, version, 1u << 22);
    } catch (const EInvalidGraphic&) {
    }
  }
  TMemoryStream* In = New<TMemoryStream>();
  if (Size > 0) In->WriteBuffer(Data, static_cast<Integer>(Size));
  In->SetPosition(0);
  TvlBitmap* Bitmap = vlNewBitmap(0, 0, pf24bit);
  try {
    Bitmap->ReadData(In);
  } catch (const EInvalidGraphic&) {
  } catch (const EReadError&) {
  }
  Free(Bitmap);
  Free(In);
  return 0;
}
