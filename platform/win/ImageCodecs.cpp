// BMP, PNG and JPEG reading and writing.
#include "platform/win/ImageCodecs.h"

#include <algorithm>
#include <csetjmp>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <string>

#include <jpeglib.h>
#include <jerror.h>
#include <png.h>

#include "platform/win/GdiInternal.h"

namespace win {

namespace {

[[noreturn]] void Fail(const std::string& what) {
  std::u16string msg;
  for (char c : what) msg.push_back(char16_t(static_cast<unsigned char>(c)));
  throw EImageCodecError(msg);
}

uint32_t Le32(const uint8_t* p) { return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24); }
uint16_t Le16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }
void Put32(std::vector<uint8_t>& v, uint32_t x) {
  for (int i = 0; i < 4; ++i) v.push_back(uint8_t(x >> (8 * i)));
}
void Put16(std::vector<uint8_t>& v, uint16_t x) {
  v.push_back(uint8_t(x));
  v.push_back(uint8_t(x >> 8));
}

// Decodes RLE8/RLE4 data into bottom-up rows of 8 or 4 bits.
void DecodeRle(const uint8_t* p, size_t n, int bpp, int width, int height, size_t stride, uint8_t* out) {
  size_t i = 0;
  int x = 0, y = 0;  // y counts rows from the bottom (memory order)
  auto put = [&](int idx) {
    if (x < width && y < height) {
      uint8_t* row = out + stride * size_t(y);
      if (bpp == 8) row[x] = uint8_t(idx);
      else row[x / 2] = uint8_t(row[x / 2] | ((idx & 15) << ((x & 1) ? 0 : 4)));
    }
    ++x;
  };
  while (true) {
    if (i + 2 > n) Fail("BMP: RLE data ends early");
    uint8_t count = p[i], value = p[i + 1];
    i += 2;
    if (count) {
      for (int k = 0; k < count; ++k) put(bpp == 8 ? value : ((k & 1) ? value & 15 : value >> 4));
      continue;
    }
    if (value == 0) {  // end of line
      x = 0;
      ++y;
    } else if (value == 1) {  // end of bitmap
      return;
    } else if (value == 2) {  // delta
      if (i + 2 > n) Fail("BMP: RLE data ends early");
      x += p[i];
      y += p[i + 1];
      i += 2;
    } else {  // absolute run
      size_t bytes = bpp == 8 ? value : (size_t(value) + 1) / 2;
      if (i + bytes > n) Fail("BMP: RLE data ends early");
      for (int k = 0; k < value; ++k) put(bpp == 8 ? p[i + size_t(k)] : ((k & 1) ? p[i + size_t(k / 2)] & 15 : p[i + size_t(k / 2)] >> 4));
      i += (bytes + 1) & ~size_t(1);
    }
    if (y > height) return;
  }
}

// The most pixels an RLE picture of that many data bytes may have. Pixels
// no code reaches stay 0, so no size is strictly impossible; the bound
// (2048 pixels a byte, at least a megapixel) keeps a few bytes from
// reserving a huge picture while any real run-length file passes: a run
// code of 2 bytes gives at most 255 pixels.
int64_t RlePictureLimit(size_t dataBytes) {
  return std::max<int64_t>(int64_t(1) << 20, int64_t(std::min<size_t>(dataBytes, size_t(1) << 40)) * 2048);
}

HBITMAP ReadDib(const uint8_t* data, size_t size, size_t bitsOffset /* 0: after the colour table */) {
  if (size < 4) Fail("BMP: header missing");
  uint32_t hs = Le32(data);
  if (hs != 12 && hs != 40 && hs != 52 && hs != 56 && hs != 64 && hs != 108 && hs != 124)
    Fail("BMP: unknown header size " + std::to_string(hs));
  if (size < hs) Fail("BMP: header truncated");
  int64_t width, height;
  int bpp;
  uint32_t compression = BI_RGB, clrUsed = 0;
  uint32_t masks[3] = {0, 0, 0};
  size_t tableEntry = 4;
  if (hs == 12) {
    width = Le16(data + 4);
    height = int16_t(Le16(data + 6));
    bpp = Le16(data + 10);
    tableEntry = 3;
  } else {
    width = int32_t(Le32(data + 4));
    height = int32_t(Le32(data + 8));
    bpp = Le16(data + 14);
    compression = Le32(data + 16);
    clrUsed = Le32(data + 32);
    if (hs >= 52) {
      masks[0] = Le32(data + 40), masks[1] = Le32(data + 44), masks[2] = Le32(data + 48);
    }
  }
  bool topDown = height < 0;
  if (topDown) height = -height;
  if (width <= 0 || height <= 0) Fail("BMP: bad size");
  if (width * height > MaxImagePixels) Fail("BMP: picture too large");
  if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) Fail("BMP: bad bit count");
  size_t pos = hs;
  if (compression == BI_BITFIELDS) {
    if (bpp != 16 && bpp != 32) Fail("BMP: bit fields need 16 or 32 bits");
    if (hs == 40) {
      if (size < pos + 12) Fail("BMP: masks truncated");
      masks[0] = Le32(data + pos), masks[1] = Le32(data + pos + 4), masks[2] = Le32(data + pos + 8);
      pos += 12;
    }
    if (!masks[0] && !masks[1] && !masks[2]) Fail("BMP: empty masks");
  } else if (compression == BI_RLE8 || compression == BI_RLE4) {
    if ((compression == BI_RLE8) != (bpp == 8) || (compression == BI_RLE4 && bpp != 4) || topDown)
      Fail("BMP: bad RLE header");
  } else if (compression != BI_RGB) {
    Fail("BMP: unsupported compression " + std::to_string(compression));
  }
  size_t colors = 0;
  if (bpp <= 8) {
    size_t maxColors = size_t(1) << bpp;
    colors = clrUsed ? clrUsed : maxColors;
    if (colors > maxColors) colors = maxColors;
  }
  if (size < pos + colors * tableEntry) Fail("BMP: colour table truncated");
  std::vector<uint8_t> info(sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD), 0);
  auto* bi = reinterpret_cast<BITMAPINFO*>(info.data());
  bi->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bi->bmiHeader.biWidth = LONG(width);
  bi->bmiHeader.biHeight = topDown ? -LONG(height) : LONG(height);
  bi->bmiHeader.biPlanes = 1;
  bi->bmiHeader.biBitCount = WORD(bpp);
  bi->bmiHeader.biCompression = compression == BI_BITFIELDS ? BI_BITFIELDS : BI_RGB;
  bi->bmiHeader.biClrUsed = DWORD(colors);
  uint8_t* table = info.data() + sizeof(BITMAPINFOHEADER);
  if (compression == BI_BITFIELDS) {
    std::memcpy(table, masks, 12);
  } else {
    for (size_t i = 0; i < colors; ++i) {
      const uint8_t* e = data + pos + i * tableEntry;
      table[i * 4] = e[0], table[i * 4 + 1] = e[1], table[i * 4 + 2] = e[2], table[i * 4 + 3] = 0;
    }
  }
  pos += colors * tableEntry;
  if (bitsOffset) {
    if (bitsOffset < pos || bitsOffset > size) Fail("BMP: bad pixel offset");
    pos = bitsOffset;
  }
  // The data is checked before the picture is made: a header alone must not
  // make the reader reserve a picture its data cannot fill.
  const size_t stride = size_t(((width * bpp + 31) / 32) * 4);
  const size_t need = stride * size_t(height);
  const bool rle = compression == BI_RLE8 || compression == BI_RLE4;
  if (rle) {
    if (width * height > RlePictureLimit(size - pos)) Fail("BMP: RLE data too short for the picture size");
  } else if (size - pos < need) {
    Fail("BMP: pixel data truncated");
  }
  void* bits = nullptr;
  HBITMAP bm = CreateDIBSection(nullptr, bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!bm) Fail("BMP: cannot create the bitmap");
  if (rle) {
    try {
      DecodeRle(data + pos, size - pos, bpp, int(width), int(height), stride, static_cast<uint8_t*>(bits));
    } catch (...) {
      DeleteObject(bm);
      throw;
    }
    return bm;
  }
  std::memcpy(bits, data + pos, need);
  return bm;
}

}  // namespace

HBITMAP ReadPackedDib(const uint8_t* data, size_t size) {
  if (!data) Fail("BMP: no data");
  return ReadDib(data, size, 0);
}

HBITMAP ReadBmpFile(const uint8_t* data, size_t size) {
  if (!data || size < 14 + 12) Fail("BMP: file too short");
  if (data[0] != 'B' || data[1] != 'M') Fail("BMP: not a bitmap file");
  uint32_t off = Le32(data + 10);
  const uint8_t* dib = data + 14;
  size_t dibSize = size - 14;
  size_t bitsOffset = off >= 14 ? off - 14 : 0;
  if (off != 0 && (off < 14 || off > size)) Fail("BMP: bad pixel offset");
  return ReadDib(dib, dibSize, bitsOffset);
}

std::vector<uint8_t> WriteBmpFile(HBITMAP hbm) {
  BITMAP bm{};
  if (!GetObjectW(hbm, sizeof(bm), &bm)) Fail("BMP: not a bitmap");
  int bpp = bm.bmBitsPixel;
  if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) bpp = 32;
  std::vector<uint8_t> info(sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD), 0);
  auto* bi = reinterpret_cast<BITMAPINFO*>(info.data());
  bi->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bi->bmiHeader.biWidth = bm.bmWidth;
  bi->bmiHeader.biHeight = bm.bmHeight;
  bi->bmiHeader.biPlanes = 1;
  bi->bmiHeader.biBitCount = WORD(bpp);
  bool bitfields = false;
  if (bpp == 16) {
    // keep 16-bit masks (5-6-5 stays 5-6-5)
    auto* b = gdi::LookupBitmap(hbm);
    if (b && b->Masks[1] != 0x03E0) {
      bitfields = true;
      bi->bmiHeader.biCompression = BI_BITFIELDS;
      std::memcpy(info.data() + 40, b->Masks, 12);
    }
  }
  size_t stride = size_t(((int64_t(bm.bmWidth) * bpp + 31) / 32) * 4);
  std::vector<uint8_t> bits(stride * size_t(bm.bmHeight));
  if (GetDIBits(nullptr, hbm, 0, UINT(bm.bmHeight), bits.data(), bi, DIB_RGB_COLORS) != bm.bmHeight)
    Fail("BMP: cannot read the bitmap");
  size_t colors = bpp <= 8 ? size_t(1) << bpp : 0;
  size_t extra = bitfields ? 12 : colors * 4;
  std::vector<uint8_t> out;
  out.reserve(14 + 40 + extra + bits.size());
  uint32_t off = uint32_t(14 + 40 + extra);
  out.push_back('B');
  out.push_back('M');
  Put32(out, uint32_t(off + bits.size()));
  Put16(out, 0);
  Put16(out, 0);
  Put32(out, off);
  bi->bmiHeader.biSizeImage = DWORD(bits.size());
  bi->bmiHeader.biClrUsed = 0;
  out.insert(out.end(), info.begin(), info.begin() + 40 + long(extra));
  out.insert(out.end(), bits.begin(), bits.end());
  return out;
}

// ---------------------------------------------------------------------------
// PNG

TDecodedImage DecodePng(const uint8_t* data, size_t size) {
  if (!data || size < 8) Fail("PNG: data too short");
  png_image image;
  std::memset(&image, 0, sizeof(image));
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, data, size)) Fail(std::string("PNG: ") + image.message);
  if (image.width == 0 || image.height == 0 || int64_t(image.width) * image.height > MaxImagePixels) {
    png_image_free(&image);
    Fail("PNG: picture too large");
  }
  // Deflate makes at most 1032 bytes of a byte; the rows need at least one
  // filter byte and a bit a pixel: data that cannot hold the picture is
  // refused before the picture is reserved.
  const int64_t rawBytes = int64_t(image.height) * (1 + (int64_t(image.width) + 7) / 8);
  if (rawBytes > int64_t(size) * 1032) {
    png_image_free(&image);
    Fail("PNG: data too short for the picture size");
  }
  TDecodedImage out;
  out.Width = int(image.width);
  out.Height = int(image.height);
  out.HasAlpha = (image.format & PNG_FORMAT_FLAG_ALPHA) != 0;
  out.Grayscale = (image.format & PNG_FORMAT_FLAG_COLOR) == 0;
  image.format = PNG_FORMAT_BGRA;
  out.Pixels.resize(size_t(image.width) * image.height);
  if (!png_image_finish_read(&image, nullptr, out.Pixels.data(), 0, nullptr)) {
    std::string msg = image.message;
    png_image_free(&image);
    Fail("PNG: " + msg);
  }
  return out;
}

std::vector<uint8_t> EncodePng(const uint32_t* pixels, int width, int height, ptrdiff_t stride, bool alpha) {
  if (!pixels || width <= 0 || height <= 0) Fail("PNG: nothing to encode");
  // An alpha channel is written only when some pixel is not opaque.
  bool keepAlpha = false;
  for (int y = 0; alpha && !keepAlpha && y < height; ++y) {
    const uint32_t* row = pixels + ptrdiff_t(y) * stride;
    for (int x = 0; x < width; ++x)
      if ((row[x] >> 24) != 0xFF) {
        keepAlpha = true;
        break;
      }
  }
  const size_t channels = keepAlpha ? 4 : 3;
  std::vector<uint8_t> packed(size_t(width) * size_t(height) * channels);
  uint8_t* out = packed.data();
  for (int y = 0; y < height; ++y) {
    const uint32_t* row = pixels + ptrdiff_t(y) * stride;
    for (int x = 0; x < width; ++x) {
      uint32_t v = row[x];
      *out++ = uint8_t(v);
      *out++ = uint8_t(v >> 8);
      *out++ = uint8_t(v >> 16);
      if (keepAlpha) *out++ = uint8_t(v >> 24);
    }
  }
  png_image image;
  std::memset(&image, 0, sizeof(image));
  image.version = PNG_IMAGE_VERSION;
  image.width = png_uint_32(width);
  image.height = png_uint_32(height);
  image.format = keepAlpha ? PNG_FORMAT_BGRA : PNG_FORMAT_BGR;
  png_alloc_size_t size = 0;
  if (!png_image_write_to_memory(&image, nullptr, &size, 0, packed.data(), 0, nullptr)) Fail(std::string("PNG: ") + image.message);
  std::vector<uint8_t> file(size);
  if (!png_image_write_to_memory(&image, file.data(), &size, 0, packed.data(), 0, nullptr))
    Fail(std::string("PNG: ") + image.message);
  file.resize(size);
  return file;
}

// ---------------------------------------------------------------------------
// JPEG

namespace {

struct TJpegError {
  jpeg_error_mgr Mgr;
  jmp_buf Jump;
  char Message[JMSG_LENGTH_MAX];
};

void JpegErrorExit(j_common_ptr cinfo) {
  auto* err = reinterpret_cast<TJpegError*>(cinfo->err);
  (*cinfo->err->format_message)(cinfo, err->Message);
  longjmp(err->Jump, 1);
}
void JpegOutput(j_common_ptr) {}
// A stream that ends early is an error, not a warning with grey filling.
void JpegEmit(j_common_ptr cinfo, int level) {
  if (level < 0 && cinfo->err->msg_code == JWRN_JPEG_EOF) JpegErrorExit(cinfo);
  if (level < 0) cinfo->err->num_warnings++;
}

// Only plain C state lives in the frames that longjmp crosses; the picture
// buffer belongs to the caller.
bool DecodeJpegRaw(const uint8_t* data, size_t size, std::vector<uint8_t>* rgb, int* w, int* h, int* comps,
                   char* message) {
  jpeg_decompress_struct cinfo;
  TJpegError err;
  cinfo.err = jpeg_std_error(&err.Mgr);
  err.Mgr.error_exit = JpegErrorExit;
  err.Mgr.output_message = JpegOutput;
  err.Mgr.emit_message = JpegEmit;
  err.Message[0] = 0;
  if (setjmp(err.Jump)) {
    std::snprintf(message, JMSG_LENGTH_MAX, "%s", err.Message);
    jpeg_destroy_decompress(&cinfo);
    return false;
  }
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, const_cast<unsigned char*>(data), static_cast<unsigned long>(size));
  jpeg_read_header(&cinfo, TRUE);
  if (cinfo.image_width == 0 || cinfo.image_height == 0 ||
      int64_t(cinfo.image_width) * cinfo.image_height > MaxImagePixels) {
    std::snprintf(message, JMSG_LENGTH_MAX, "picture too large");
    jpeg_destroy_decompress(&cinfo);
    return false;
  }
  // Every 8 x 8 block of the full-size component takes at least a bit
  // (Huffman coding; half a bit is allowed for arithmetic coding): data that
  // cannot hold the picture is refused before the decoder reserves it.
  const int64_t blocks = ((int64_t(cinfo.image_width) + 7) / 8) * ((int64_t(cinfo.image_height) + 7) / 8);
  if (blocks > int64_t(size) * 16) {
    std::snprintf(message, JMSG_LENGTH_MAX, "data too short for the picture size");
    jpeg_destroy_decompress(&cinfo);
    return false;
  }
  if (cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK) cinfo.out_color_space = JCS_CMYK;
  else if (cinfo.jpeg_color_space == JCS_GRAYSCALE) cinfo.out_color_space = JCS_GRAYSCALE;
  else cinfo.out_color_space = JCS_RGB;
  jpeg_start_decompress(&cinfo);
  *w = int(cinfo.output_width);
  *h = int(cinfo.output_height);
  *comps = cinfo.output_components;
  size_t rowBytes = size_t(cinfo.output_width) * size_t(cinfo.output_components);
  rgb->resize(rowBytes * cinfo.output_height);
  while (cinfo.output_scanline < cinfo.output_height) {
    JSAMPROW row = rgb->data() + rowBytes * cinfo.output_scanline;
    jpeg_read_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  return true;
}

bool EncodeJpegRaw(const uint8_t* rows, int w, int h, int comps, int quality, unsigned char** out,
                   unsigned long* outSize, char* message) {
  jpeg_compress_struct cinfo;
  TJpegError err;
  cinfo.err = jpeg_std_error(&err.Mgr);
  err.Mgr.error_exit = JpegErrorExit;
  err.Mgr.output_message = JpegOutput;
  if (setjmp(err.Jump)) {
    std::snprintf(message, JMSG_LENGTH_MAX, "%s", err.Message);
    jpeg_destroy_compress(&cinfo);
    return false;
  }
  jpeg_create_compress(&cinfo);
  jpeg_mem_dest(&cinfo, out, outSize);
  cinfo.image_width = JDIMENSION(w);
  cinfo.image_height = JDIMENSION(h);
  cinfo.input_components = comps;
  cinfo.in_color_space = comps == 1 ? JCS_GRAYSCALE : JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, quality, TRUE);
  jpeg_start_compress(&cinfo, TRUE);
  size_t rowBytes = size_t(w) * size_t(comps);
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW row = const_cast<uint8_t*>(rows) + rowBytes * cinfo.next_scanline;
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  return true;
}

}  // namespace

TDecodedImage DecodeJpeg(const uint8_t* data, size_t size) {
  if (!data || size < 4 || data[0] != 0xFF || data[1] != 0xD8) Fail("JPEG: not a JPEG stream");
  std::vector<uint8_t> raw;
  int w = 0, h = 0, comps = 0;
  char message[JMSG_LENGTH_MAX] = {0};
  if (!DecodeJpegRaw(data, size, &raw, &w, &h, &comps, message)) Fail(std::string("JPEG: ") + message);
  TDecodedImage out;
  out.Width = w;
  out.Height = h;
  out.Grayscale = comps == 1;
  out.Pixels.resize(size_t(w) * size_t(h));
  for (size_t i = 0; i < out.Pixels.size(); ++i) {
    const uint8_t* p = raw.data() + i * size_t(comps);
    uint32_t r, g, b;
    if (comps == 1) {
      r = g = b = p[0];
    } else if (comps == 4) {
      // Adobe CMYK is stored inverted
      uint32_t k = p[3];
      r = p[0] * k / 255, g = p[1] * k / 255, b = p[2] * k / 255;
    } else {
      r = p[0], g = p[1], b = p[2];
    }
    out.Pixels[i] = 0xFF000000u | (r << 16) | (g << 8) | b;
  }
  return out;
}

std::vector<uint8_t> EncodeJpeg(const uint32_t* pixels, int width, int height, ptrdiff_t stride, int quality,
                                bool grayscale) {
  if (!pixels || width <= 0 || height <= 0) Fail("JPEG: nothing to encode");
  int comps = grayscale ? 1 : 3;
  std::vector<uint8_t> rows(size_t(width) * size_t(height) * size_t(comps));
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      uint32_t v = pixels[ptrdiff_t(y) * stride + x];
      uint8_t* o = rows.data() + (size_t(y) * size_t(width) + size_t(x)) * size_t(comps);
      uint32_t r = (v >> 16) & 0xFF, g = (v >> 8) & 0xFF, b = v & 0xFF;
      if (grayscale) o[0] = uint8_t((r * 299 + g * 587 + b * 114 + 500) / 1000);
      else o[0] = uint8_t(r), o[1] = uint8_t(g), o[2] = uint8_t(b);
    }
  unsigned char* buf = nullptr;
  unsigned long size = 0;
  char message[JMSG_LENGTH_MAX] = {0};
  bool ok = EncodeJpegRaw(rows.data(), width, height, comps, std::clamp(quality, 1, 100), &buf, &size, message);
  std::vector<uint8_t> out;
  if (ok && buf) out.assign(buf, buf + size);
  std::free(buf);
  if (!ok) Fail(std::string("JPEG: ") + message);
  return out;
}

}  // namespace win
