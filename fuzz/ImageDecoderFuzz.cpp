// The image decoders of the graphics layer: BMP files and packed DIBs, PNG
// and JPEG. Bad input must raise EImageCodecError and nothing else; icon and
// cursor files load nothing (nil) and raise nothing.
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
#elif defined(CL_FUZZ_ICO)
    // read from memory as the loader reads a file (no file per input)
    for (win::UINT type : {win::IMAGE_ICON, win::IMAGE_CURSOR})
      if (win::HICON h = win::ReadIconFile(data, size, type, 0, 0, 0)) win::DestroyIcon(h);
#endif
  } catch (const EImageCodecError&) {
  }
  return 0;
}
