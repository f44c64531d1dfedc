// The compressed bitmap stream form "BNBM": run-length encoding of the plain
// bitmap data over elements of 1 to 4 bytes.
#include <cstring>

#include "lib/foundation/vlImages.h"
#include "platform/rtl/Exceptions.h"
#include "platform/vcl/Graphics.h"
#include "platform/rtl/Format.h"

namespace {

constexpr Integer MaxRunLength = 125;

[[noreturn]] void Damaged() { throw EInvalidGraphic(u"Compressed bitmap data is damaged"); }

}  // namespace

std::vector<Byte> vlCompressBitmapData(const Byte* AData, size_t ASize, Integer AElementSize) {
  const size_t e = size_t(AElementSize);
  const size_t r = ASize % e;
  std::vector<Byte> body;
  body.reserve(ASize / 2 + 16);
  body.push_back(Byte(e));
  body.push_back(Byte(r));
  body.insert(body.end(), AData, AData + r);
  const Byte* elements = AData + r;
  const size_t count = (ASize - r) / e;
  auto same = [&](size_t a, size_t b) { return std::memcmp(elements + a * e, elements + b * e, e) == 0; };
  size_t i = 0;
  while (i < count) {
    if (i + 1 >= count) {  // a single trailing element
      body.push_back(0x81);
      body.insert(body.end(), elements + i * e, elements + (i + 1) * e);
      break;
    }
    const bool repeat = same(i, i + 1);
    size_t k = 1;
    while (k < size_t(MaxRunLength) && i + k < count) {
      if (repeat) {
        if (!same(i + k, i)) break;
        ++k;
      } else if (!same(i + k, i + k - 1)) {
        ++k;
      } else {
        --k;  // the previous element starts the next repeat run
        break;
      }
    }
    if (repeat) {
      body.push_back(Byte(k));
      body.insert(body.end(), elements + i * e, elements + (i + 1) * e);
    } else {
      body.push_back(Byte(k | 0x80));
      body.insert(body.end(), elements + i * e, elements + (i + k) * e);
    }
    i += k;
  }
  return body;
}

std::vector<Byte> vlDecompressBitmapData(const Byte* ABody, size_t ASize, SmallInt AVersion, size_t AMaxSize) {
  std::vector<Byte> out;
  size_t pos = 0;
  size_t e = 1;
  if (AVersion == 2) {
    if (ASize < 2) Damaged();
    e = ABody[0];
    const size_t r = ABody[1];
    if (e < 1 || e > 4 || r >= e || 2 + r > ASize || r > AMaxSize) Damaged();
    out.assign(ABody + 2, ABody + 2 + r);
    pos = 2 + r;
  } else if (AVersion != 1) {
    throw EInvalidGraphic(Format(u"Compressed bitmap version %d is not supported", {Integer(AVersion)}));
  }
  while (pos < ASize) {
    const Byte c = ABody[pos++];
    const size_t k = c & 0x7F;
    if (k < 1 || k > size_t(MaxRunLength)) Damaged();
    if (out.size() + k * e > AMaxSize) Damaged();
    if (c & 0x80) {
      if (k * e > ASize - pos) Damaged();
      out.insert(out.end(), ABody + pos, ABody + pos + k * e);
      pos += k * e;
    } else {
      if (e > ASize - pos) Damaged();
      for (size_t j = 0; j < k; ++j) out.insert(out.end(), ABody + pos, ABody + pos + e);
      pos += e;
    }
  }
  return out;
}
