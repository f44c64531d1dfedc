// Image files: BMP read and written by us, PNG through libpng and JPEG
// through libjpeg. Decoders check every size and offset against the data
// and raise EImageCodecError for truncated, malformed or oversized input.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/rtl/Exceptions.h"
#include "platform/win/WinTypes.h"

RTL_EXCEPTION_CLASS(EImageCodecError, Exception);

namespace win {

// A decoded picture: BGRA words (0xAARRGGBB), top row first, straight
// (not premultiplied) alpha; HasAlpha tells whether the file had any.
struct TDecodedImage {
  int Width = 0;
  int Height = 0;
  std::vector<uint32_t> Pixels;
  bool HasAlpha = false;
  bool Grayscale = false;
};

// Pictures larger than this many pixels are refused.
constexpr int64_t MaxImagePixels = int64_t(1) << 26;

// A BMP file (BITMAPFILEHEADER and DIB) or a packed DIB (header, colour
// table, bits) into a new DIB section of the file's own format: 1, 4, 8, 16,
// 24 or 32 bits per pixel (RLE-compressed files decode to 8 or 4 bits).
HBITMAP ReadBmpFile(const uint8_t* data, size_t size);
HBITMAP ReadPackedDib(const uint8_t* data, size_t size);
// A bitmap as a BMP file in its own format (device bitmaps of 32 bits as
// 32-bit BI_RGB, monochrome ones as 1 bit with a black and white table).
std::vector<uint8_t> WriteBmpFile(HBITMAP hbm);

// An icon or cursor (type IMAGE_ICON or IMAGE_CURSOR) from the bytes of an
// .ico or .cur file, as LoadImageW reads one with LR_LOADFROMFILE: at cx x cy
// (0: the first image's size, or the system size with LR_DEFAULTSIZE); nil
// for data that holds none. Freed with DestroyIcon.
HICON ReadIconFile(const uint8_t* data, size_t size, UINT type, int cx, int cy, UINT flags);

TDecodedImage DecodePng(const uint8_t* data, size_t size);
// Pixels: Height rows of Stride words (BGRA). The file is RGB when alpha is
// false or every pixel is opaque, RGBA otherwise.
std::vector<uint8_t> EncodePng(const uint32_t* pixels, int width, int height, ptrdiff_t stride, bool alpha);

TDecodedImage DecodeJpeg(const uint8_t* data, size_t size);
std::vector<uint8_t> EncodeJpeg(const uint32_t* pixels, int width, int height, ptrdiff_t stride, int quality,
                                bool grayscale);

}  // namespace win
