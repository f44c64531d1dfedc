#include "platform/rtl/Guid.h"

#include <sys/random.h>

#include <cerrno>

#include "platform/rtl/Exceptions.h"

namespace {

constexpr char16_t kHex[] = u"0123456789ABCDEF";

void AppendHex(String& Out, unsigned long long Value, int Digits) {
  for (int i = Digits - 1; i >= 0; --i) Out += kHex[(Value >> (4 * i)) & 0xF];
}

int HexValue(Char C) {
  if (C >= u'0' && C <= u'9') return C - u'0';
  if (C >= u'A' && C <= u'F') return C - u'A' + 10;
  if (C >= u'a' && C <= u'f') return C - u'a' + 10;
  return -1;
}

bool ReadHex(const String& S, size_t Start, int Count, unsigned long long& Value) {
  Value = 0;
  for (int i = 0; i < Count; ++i) {
    int v = HexValue(S[Start + i]);
    if (v < 0) return false;
    Value = Value * 16 + static_cast<unsigned>(v);
  }
  return true;
}

bool TryParse(const String& S, TGUID& G) {
  if (S.size() != 38 || S[0] != u'{' || S[9] != u'-' || S[14] != u'-' || S[19] != u'-' || S[24] != u'-' ||
      S[37] != u'}')
    return false;
  unsigned long long v;
  if (!ReadHex(S, 1, 8, v)) return false;
  G.D1 = static_cast<Cardinal>(v);
  if (!ReadHex(S, 10, 4, v)) return false;
  G.D2 = static_cast<Word>(v);
  if (!ReadHex(S, 15, 4, v)) return false;
  G.D3 = static_cast<Word>(v);
  for (int i = 0; i < 8; ++i) {
    size_t pos = i < 2 ? 20 + 2 * i : 25 + 2 * (i - 2);
    if (!ReadHex(S, pos, 2, v)) return false;
    G.D4[i] = static_cast<Byte>(v);
  }
  return true;
}

}  // namespace

String GUIDToString(const TGUID& Guid) {
  String s;
  s.reserve(38);
  s += u'{';
  AppendHex(s, Guid.D1, 8);
  s += u'-';
  AppendHex(s, Guid.D2, 4);
  s += u'-';
  AppendHex(s, Guid.D3, 4);
  s += u'-';
  AppendHex(s, Guid.D4[0], 2);
  AppendHex(s, Guid.D4[1], 2);
  s += u'-';
  for (int i = 2; i < 8; ++i) AppendHex(s, Guid.D4[i], 2);
  s += u'}';
  return s;
}

TGUID StringToGUID(const String& S) {
  TGUID g;
  if (!TryParse(S, g)) throw EConvertError(u"'" + S + u"' is not a valid GUID value");
  return g;
}

HRESULT CreateGUID(TGUID& Guid) {
  Byte bytes[16];
  size_t got = 0;
  while (got < sizeof bytes) {
    ssize_t n = getrandom(bytes + got, sizeof bytes - got, 0);
    if (n < 0) {
      if (errno == EINTR) continue;
      return E_FAIL;
    }
    got += static_cast<size_t>(n);
  }
  Guid.D1 = static_cast<Cardinal>(bytes[0]) << 24 | static_cast<Cardinal>(bytes[1]) << 16 |
            static_cast<Cardinal>(bytes[2]) << 8 | bytes[3];
  Guid.D2 = static_cast<Word>(bytes[4] << 8 | bytes[5]);
  // Version 4 (random), variant 1.
  Guid.D3 = static_cast<Word>(((bytes[6] << 8 | bytes[7]) & 0x0FFF) | 0x4000);
  for (int i = 0; i < 8; ++i) Guid.D4[i] = bytes[8 + i];
  Guid.D4[0] = static_cast<Byte>((Guid.D4[0] & 0x3F) | 0x80);
  return S_OK;
}
