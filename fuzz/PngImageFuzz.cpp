// The PNG picture class: any bytes load an image or raise EInvalidGraphic,
// never a crash; an image loaded draws, converts to a bitmap and saves.
#include <cstddef>
#include <cstdint>

#include "lib/foundation/nbGDIPlusClasses.h"
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
  TnbPNGImage* Image = New<TnbPNGImage>();
  try {
    Image->LoadFromStream(In);
    if (!Image->Empty() && Image->Width() * Image->Height() <= 4096 * 4096) {
      TBitmap* Bitmap = Image->GetAsBitmap();
      Free(Bitmap);
      TMemoryStream* Out = New<TMemoryStream>();
      Image->SaveToStream(Out);
      Free(Out);
      Image->IsAlphaUsed();
    }
  } catch (const EInvalidGraphic&) {
  }
  Free(Image);
  Free(In);
  return 0;
}
