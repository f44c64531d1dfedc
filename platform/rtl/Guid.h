// Globally unique identifiers: the 16-byte record, its "{...}" text form and
// new random identifiers.
#pragma once

#include "platform/rtl/Types.h"

struct TGUID {
  Cardinal D1 = 0;
  Word D2 = 0;
  Word D3 = 0;
  Byte D4[8] = {};

  constexpr bool operator==(const TGUID& Other) const {
    if (D1 != Other.D1 || D2 != Other.D2 || D3 != Other.D3) return false;
    for (int i = 0; i < 8; ++i) {
      if (D4[i] != Other.D4[i]) return false;
    }
    return true;
  }
};

constexpr TGUID GUID_NULL{};

namespace guid_detail {
consteval unsigned HexDigit(char C) {
  if (C >= '0' && C <= '9') return static_cast<unsigned>(C - '0');
  if (C >= 'A' && C <= 'F') return static_cast<unsigned>(C - 'A' + 10);
  if (C >= 'a' && C <= 'f') return static_cast<unsigned>(C - 'a' + 10);
  throw "not a hexadecimal digit in a GUID constant";
}
consteval unsigned long long HexField(const char* Text, int Start, int Count) {
  unsigned long long v = 0;
  for (int i = 0; i < Count; ++i) v = v * 16 + HexDigit(Text[Start + i]);
  return v;
}
}  // namespace guid_detail

// A GUID constant from its text, checked at compile time:
// constexpr TGUID IID_IFoo = GUIDConst("{00000000-0000-0000-C000-000000000046}");
consteval TGUID GUIDConst(const char* Text) {
  if (Text[0] != '{' || Text[9] != '-' || Text[14] != '-' || Text[19] != '-' || Text[24] != '-' ||
      Text[37] != '}' || Text[38] != '\0')
    throw "a GUID constant is written {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}";
  TGUID g;
  g.D1 = static_cast<Cardinal>(guid_detail::HexField(Text, 1, 8));
  g.D2 = static_cast<Word>(guid_detail::HexField(Text, 10, 4));
  g.D3 = static_cast<Word>(guid_detail::HexField(Text, 15, 4));
  g.D4[0] = static_cast<Byte>(guid_detail::HexField(Text, 20, 2));
  g.D4[1] = static_cast<Byte>(guid_detail::HexField(Text, 22, 2));
  for (int i = 0; i < 6; ++i) g.D4[2 + i] = static_cast<Byte>(guid_detail::HexField(Text, 25 + 2 * i, 2));
  return g;
}

inline bool IsEqualGUID(const TGUID& A, const TGUID& B) { return A == B; }

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", upper case.
String GUIDToString(const TGUID& Guid);
// Reads the form above (hexadecimal digits in either case, nothing around it);
// anything else raises EConvertError "'%s' is not a valid GUID value".
TGUID StringToGUID(const String& S);
// A new random (version 4) identifier; S_OK, or E_FAIL when the system has no
// random source.
HRESULT CreateGUID(TGUID& Guid);
