// The image decoders of the graphics layer: BMP files and packed DIBs, PNG
// and JPEG. Bad input must raise EImageCodecError and nothing else; icon and
// cursor files load nothing (nil) and raise nothing.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

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
    // The loader reads icon and cursor files from disk.
    static const std::u16string path = [] {
      std::string p = "/tmp/fuzz-ico-" + std::to_string(getpid()) + ".ico";
      return std::u16string(p.begin(), p.end());
    }();
    std::string narrow(path.begin(), path.end());
    if (FILE* f = std::fopen(narrow.c_str(), "wb")) {
      std::fwrite(data, 1, size, f);
      std::fclose(f);
    }
    for (win::UINT type : {win::IMAGE_ICON, win::IMAGE_CURSOR})
      if (win::HANDLE h = win::LoadImageW(nullptr, path.c_str(), type, 0, 0, win::LR_LOADFROMFILE))
        win::DestroyIcon(static_cast<win::HICON>(h));
#endif
  } catch (const EImageCodecError&) {
  }
  return 0;
}
