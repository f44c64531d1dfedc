// The image decoders of the graphics layer: BMP files and packed DIBs, PNG
// and JPEG. Bad input must raise EImageCodecError and nothing else.
#include <cstddef>
#include <cstdint>

#include "platform/win/Gdi.h"
#include "platform/win/ImageCodecs.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  try {
#if defined(CL_FUZZ_BMP)
    if (win::HBITMAP bm = win::ReadBmpFile(data, size)) win::DeleteObject(bm);
    if (win::HBITMAP bm = win::ReadPackedDib(data, size)) win::DeleteObject(bm);
#elif defined(CL_FUZZ_PNG)
    win::DecodePng(data, size);
#elif defined(CL_FUZZ_JPEG)
    win::DecodeJpeg(data, size);
#endif
  } catch (const EImageCodecError&) {
  }
  return 0;
}
