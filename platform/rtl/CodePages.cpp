#include "platform/rtl/CodePages.h"

UTF8String UTF16ToUTF8(const String& S) {
  UTF8String out;
  out.reserve(S.size());
  for (size_t i = 0; i < S.size(); ++i) {
    uint32_t c = S[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < S.size() && S[i + 1] >= 0xDC00 && S[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (S[i + 1] - 0xDC00);
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = 0xFFFD;
    }
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (c >> 18));
      out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

String UTF8ToUTF16(const UTF8String& S) {
  String out;
  out.reserve(S.size());
  const auto* p = reinterpret_cast<const unsigned char*>(S.data());
  size_t n = S.size(), i = 0;
  while (i < n) {
    unsigned char b = p[i];
    uint32_t c;
    size_t len;
    if (b < 0x80) { c = b; len = 1; }
    else if ((b & 0xE0) == 0xC0) { c = b & 0x1F; len = 2; }
    else if ((b & 0xF0) == 0xE0) { c = b & 0x0F; len = 3; }
    else if ((b & 0xF8) == 0xF0) { c = b & 0x07; len = 4; }
    else { out += u'\xFFFD'; ++i; continue; }
    if (i + len > n) { out += u'\xFFFD'; ++i; continue; }
    bool ok = true;
    for (size_t k = 1; k < len; ++k) {
      if ((p[i + k] & 0xC0) != 0x80) { ok = false; break; }
      c = (c << 6) | (p[i + k] & 0x3F);
    }
    static const uint32_t kMin[5] = {0, 0, 0x80, 0x800, 0x10000};
    if (!ok || c < kMin[len] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
      out += u'\xFFFD'; ++i; continue;
    }
    if (c >= 0x10000) {
      c -= 0x10000;
      out += static_cast<Char>(0xD800 + (c >> 10));
      out += static_cast<Char>(0xDC00 + (c & 0x3FF));
    } else {
      out += static_cast<Char>(c);
    }
    i += len;
  }
  return out;
}
