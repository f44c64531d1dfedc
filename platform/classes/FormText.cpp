#include "platform/classes/FormText.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>

#include "platform/classes/Filer.h"
#include "platform/classes/Streams.h"
#include "platform/rtl/CodePages.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Numbers.h"

namespace {

// Nesting of objects, lists and collections deeper than this is refused, so
// that a hostile form cannot exhaust the stack.
constexpr int kMaxDepth = 200;
// Strings longer than this are split over lines in the text form.
constexpr size_t kStringLineLength = 64;
// Bytes of binary data per text line.
constexpr size_t kBinaryLineBytes = 32;

String Ascii(const std::string& S) { return String(S.begin(), S.end()); }

bool IsIdentStart(Char C) { return (C >= u'A' && C <= u'Z') || (C >= u'a' && C <= u'z') || C == u'_'; }
bool IsIdentChar(Char C) { return IsIdentStart(C) || (C >= u'0' && C <= u'9'); }
bool IsDigit(Char C) { return C >= u'0' && C <= u'9'; }
int HexValue(Char C) {
  if (C >= u'0' && C <= u'9') return C - u'0';
  if (C >= u'A' && C <= u'F') return C - u'A' + 10;
  if (C >= u'a' && C <= u'f') return C - u'a' + 10;
  return -1;
}

bool SameAsciiText(const String& A, const char* B) {
  size_t n = std::strlen(B);
  if (A.size() != n) return false;
  for (size_t i = 0; i < n; ++i) {
    Char a = A[i], b = static_cast<Char>(B[i]);
    if (a >= u'a' && a <= u'z') a = Char(a - 32);
    if (b >= u'a' && b <= u'z') b = Char(b - 32);
    if (a != b) return false;
  }
  return true;
}

// A strict UTF-8 check (no overlong forms, no surrogates).
bool IsValidUTF8(const RawByteString& S) {
  const auto* p = reinterpret_cast<const unsigned char*>(S.data());
  size_t n = S.size(), i = 0;
  while (i < n) {
    unsigned char b = p[i];
    size_t len;
    uint32_t c;
    if (b < 0x80) { ++i; continue; }
    if ((b & 0xE0) == 0xC0) { len = 2; c = b & 0x1F; }
    else if ((b & 0xF0) == 0xE0) { len = 3; c = b & 0x0F; }
    else if ((b & 0xF8) == 0xF0) { len = 4; c = b & 0x07; }
    else return false;
    if (n - i < len) return false;
    for (size_t k = 1; k < len; ++k) {
      if ((p[i + k] & 0xC0) != 0x80) return false;
      c = (c << 6) | (p[i + k] & 0x3F);
    }
    static const uint32_t kMin[5] = {0, 0, 0x80, 0x800, 0x10000};
    if (c < kMin[len] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return false;
    i += len;
  }
  return true;
}

void AppendU32(RawByteString& Out, uint32_t V) {
  for (int i = 0; i < 4; ++i) Out += static_cast<char>((V >> (8 * i)) & 0xFF);
}
void AppendU64(RawByteString& Out, uint64_t V) {
  for (int i = 0; i < 8; ++i) Out += static_cast<char>((V >> (8 * i)) & 0xFF);
}

// --- Text to binary -----------------------------------------------------------

class TTextToBinary {
 public:
  explicit TTextToBinary(const String& Text) : S(Text) {}

  RawByteString Run() {
    Out.assign(FilerSignature, 4);
    ParseObject(0);
    return std::move(Out);
  }

  size_t Position() const { return P; }

 private:
  const String& S;
  size_t P = 0;
  int Line = 1;
  RawByteString Out;

  [[noreturn]] void Error(const String& Msg) const {
    throw EParserError(Msg + u" on line " + Ascii(std::to_string(Line)));
  }

  bool AtEnd() const { return P >= S.size(); }
  Char Peek() const { return P < S.size() ? S[P] : Char(0); }

  void SkipBlanks() {
    while (P < S.size() && S[P] <= u' ') {
      if (S[P] == u'\n') ++Line;
      ++P;
    }
  }

  void Expect(Char C) {
    SkipBlanks();
    if (Peek() != C) Error(String(u"'") + C + u"' expected");
    ++P;
  }

  String ReadIdent(bool Dotted) {
    SkipBlanks();
    if (!IsIdentStart(Peek())) Error(u"Identifier expected");
    size_t start = P;
    for (;;) {
      while (P < S.size() && IsIdentChar(S[P])) ++P;
      if (Dotted && Peek() == u'.' && P + 1 < S.size() && IsIdentStart(S[P + 1])) {
        ++P;
        continue;
      }
      break;
    }
    return S.substr(start, P - start);
  }

  // Identifiers are ASCII; the binary form keeps them as short strings.
  void AppendName(const String& Name) {
    if (Name.size() > 255) Error(u"Identifier too long");
    form_values::AppendShortString(Out, std::string(Name.begin(), Name.end()));
  }

  // Whether the next word is the keyword, and (for a property list) not a
  // property of that name.
  bool AtKeyword(const char* Keyword) {
    SkipBlanks();
    if (!IsIdentStart(Peek())) return false;
    size_t q = P;
    while (q < S.size() && IsIdentChar(S[q])) ++q;
    if (!SameAsciiText(S.substr(P, q - P), Keyword)) return false;
    while (q < S.size() && S[q] <= u' ') ++q;
    return q >= S.size() || (S[q] != u'=' && S[q] != u'.');
  }

  void ParseObject(int Depth) {
    if (Depth > kMaxDepth) Error(u"Objects nested too deeply");
    SkipBlanks();
    Byte flags = 0;
    if (AtKeyword("inherited")) flags = ffInherited;
    else if (AtKeyword("inline")) flags = ffInline;
    else if (!AtKeyword("object")) Error(u"'object' expected");
    ReadIdent(false);
    String name, cls = ReadIdent(false);
    int clsLine = Line;
    SkipBlanks();
    if (Peek() == u':') {
      ++P;
      name = cls;
      cls = ReadIdent(false);
      clsLine = Line;
    }
    SkipBlanks();
    Int64 childPos = 0;
    if (Peek() == u'[') {
      ++P;
      childPos = ParseIntegerLiteral();
      Expect(u']');
      flags |= ffChildPos;
    }
    if (flags) {
      Out += static_cast<char>(0xF0 | flags);
      if (flags & ffChildPos) form_values::AppendInteger(Out, childPos);
    }
    // A first byte of 0xF0 or more marks a prefix, so a class name cannot be
    // that long.
    if (!flags && cls.size() >= 0xF0) {
      Line = clsLine;
      Error(u"Identifier too long");
    }
    AppendName(cls);
    AppendName(name);
    ParseProperties(Depth, /*InCollection=*/false);
    for (;;) {
      SkipBlanks();
      if (AtEnd()) Error(u"'end' expected");
      if (AtKeyword("end")) {
        ReadIdent(false);
        break;
      }
      ParseObject(Depth + 1);
    }
    Out += static_cast<char>(vaNull);
  }

  // Properties up to 'end' (in a collection item, which is consumed) or to the
  // first child object.
  void ParseProperties(int Depth, bool InCollection) {
    for (;;) {
      SkipBlanks();
      if (AtEnd()) Error(u"'end' expected");
      if (AtKeyword("end")) {
        if (InCollection) ReadIdent(false);
        break;
      }
      if (!InCollection && (AtKeyword("object") || AtKeyword("inherited") || AtKeyword("inline"))) break;
      String name = ReadIdent(true);
      Expect(u'=');
      AppendName(name);
      ParseValue(Depth + 1, /*AllowNull=*/true);
    }
    Out += static_cast<char>(vaNull);
  }

  // Null (vaNull) can only be a property's value: in a list it would end the list.
  void ParseValue(int Depth, bool AllowNull = false) {
    if (Depth > kMaxDepth) Error(u"Values nested too deeply");
    SkipBlanks();
    if (AtEnd()) Error(u"Property value expected");
    Char c = Peek();
    if (ParseNonFinite()) {
      // INF, -INF or NAN: an extended infinity or NaN.
    } else if (c == u'-' || c == u'+' || c == u'$' || IsDigit(c)) {
      ParseNumber();
    } else if (c == u'\'' || c == u'#') {
      form_values::AppendString(Out, ParseString());
    } else if (c == u'[') {
      ++P;
      Out += static_cast<char>(vaSet);
      SkipBlanks();
      if (Peek() == u']') {
        ++P;
      } else {
        for (;;) {
          AppendName(ReadIdent(false));
          SkipBlanks();
          if (Peek() == u']') { ++P; break; }
          if (Peek() != u',') Error(u"']' expected");
          ++P;
        }
      }
      Out += '\0';
    } else if (c == u'(') {
      ++P;
      Out += static_cast<char>(vaList);
      for (;;) {
        SkipBlanks();
        if (AtEnd()) Error(u"')' expected");
        if (Peek() == u')') { ++P; break; }
        ParseValue(Depth + 1);
      }
      Out += static_cast<char>(vaNull);
    } else if (c == u'{') {
      ++P;
      RawByteString bytes;
      int high = -1;
      for (;;) {
        SkipBlanks();
        if (AtEnd()) Error(u"'}' expected");
        Char h = S[P++];
        if (h == u'}') break;
        int v = HexValue(h);
        if (v < 0) Error(u"Invalid binary value");
        if (high < 0) {
          high = v;
        } else {
          bytes += static_cast<char>(high * 16 + v);
          high = -1;
        }
      }
      if (high >= 0) Error(u"Invalid binary value");
      if (bytes.size() > 0xFFFFFFFFu) Error(u"Binary value too long");
      Out += static_cast<char>(vaBinary);
      AppendU32(Out, static_cast<uint32_t>(bytes.size()));
      Out += bytes;
    } else if (c == u'<') {
      ++P;
      Out += static_cast<char>(vaCollection);
      for (;;) {
        SkipBlanks();
        if (AtEnd()) Error(u"'>' expected");
        if (Peek() == u'>') { ++P; break; }
        if (!AtKeyword("item")) Error(u"'item' expected");
        ReadIdent(false);
        SkipBlanks();
        if (Peek() == u'[') {
          ++P;
          form_values::AppendInteger(Out, ParseIntegerLiteral());
          Expect(u']');
        }
        Out += static_cast<char>(vaList);
        ParseProperties(Depth + 1, /*InCollection=*/true);
      }
      Out += static_cast<char>(vaNull);
    } else if (IsIdentStart(c)) {
      String id = ReadIdent(true);
      if (SameAsciiText(id, "True")) Out += static_cast<char>(vaTrue);
      else if (SameAsciiText(id, "False")) Out += static_cast<char>(vaFalse);
      else if (SameAsciiText(id, "nil")) Out += static_cast<char>(vaNil);
      else if (SameAsciiText(id, "Null")) {
        if (!AllowNull) Error(u"Invalid property value");
        Out += static_cast<char>(vaNull);
      } else {
        Out += static_cast<char>(vaIdent);
        AppendName(id);
      }
    } else {
      Error(u"Invalid property value");
    }
  }

  // 'quoted' pieces and #nnn codes, joined directly or by +.
  String ParseString() {
    String v;
    for (;;) {
      Char c = Peek();
      if (c == u'\'') {
        ++P;
        for (;;) {
          if (AtEnd() || S[P] == u'\r' || S[P] == u'\n') Error(u"Unterminated string");
          Char d = S[P++];
          if (d == u'\'') {
            if (Peek() == u'\'') {
              ++P;
            } else {
              break;
            }
          }
          v += d;
        }
      } else if (c == u'#') {
        ++P;
        uint32_t code = 0;
        bool any = false;
        if (Peek() == u'$') {
          ++P;
          while (HexValue(Peek()) >= 0) {
            code = code * 16 + static_cast<uint32_t>(HexValue(S[P++]));
            if (code > 0x10FFFF) Error(u"Invalid character code");
            any = true;
          }
        } else {
          while (IsDigit(Peek())) {
            code = code * 10 + static_cast<uint32_t>(S[P++] - u'0');
            if (code > 0x10FFFF) Error(u"Invalid character code");
            any = true;
          }
        }
        if (!any) Error(u"Invalid character code");
        if (code > 0xFFFF) {
          code -= 0x10000;
          v += static_cast<Char>(0xD800 + (code >> 10));
          v += static_cast<Char>(0xDC00 + (code & 0x3FF));
        } else {
          v += static_cast<Char>(code);
        }
      } else {
        break;
      }
      if (Peek() == u'\'' || Peek() == u'#') continue;
      size_t save = P;
      int saveLine = Line;
      SkipBlanks();
      if (Peek() == u'+') {
        ++P;
        SkipBlanks();
        if (Peek() != u'\'' && Peek() != u'#') Error(u"String expected");
        continue;
      }
      P = save;
      Line = saveLine;
      break;
    }
    return v;
  }

  // Digits with an optional sign, or $hex; the value must fit in 64 bits.
  Int64 ParseIntegerLiteral() {
    SkipBlanks();
    bool neg = false;
    if (Peek() == u'-' || Peek() == u'+') neg = S[P++] == u'-';
    uint64_t v = 0;
    bool any = false;
    if (Peek() == u'$') {
      ++P;
      while (HexValue(Peek()) >= 0) {
        if (v >> 60) Error(u"Integer out of range");
        v = v * 16 + static_cast<uint64_t>(HexValue(S[P++]));
        any = true;
      }
    } else {
      while (IsDigit(Peek())) {
        uint64_t d = S[P++] - u'0';
        if (v > (UINT64_MAX - d) / 10) Error(u"Integer out of range");
        v = v * 10 + d;
        any = true;
      }
      if (any && v > (neg ? uint64_t(1) << 63 : uint64_t(INT64_MAX))) Error(u"Integer out of range");
    }
    if (!any) Error(u"Number expected");
    if (IsIdentChar(Peek()) || Peek() == u'.') Error(u"Invalid number");
    // Hexadecimal literals give the bit pattern, as for colours like $FF000000.
    return neg ? static_cast<Int64>(0 - v) : static_cast<Int64>(v);
  }

  // The platform's text of the floats no number spells: INF, -INF (+INF) and
  // NAN, written in capitals.
  bool ParseNonFinite() {
    size_t q = P;
    bool neg = false;
    if (q < S.size() && (S[q] == u'-' || S[q] == u'+')) neg = S[q++] == u'-';
    double d;
    if (S.compare(q, 3, u"INF") == 0) d = neg ? -HUGE_VAL : HUGE_VAL;
    else if (q == P && S.compare(q, 3, u"NAN") == 0) d = std::numeric_limits<double>::quiet_NaN();
    else return false;
    if (q + 3 < S.size() && (IsIdentChar(S[q + 3]) || S[q + 3] == u'.')) return false;
    P = q + 3;
    AppendExtended(d);
    return true;
  }

  void AppendExtended(double D) {
    uint8_t ext[10];
    DoubleToExtended(D, ext);
    Out += static_cast<char>(vaExtended);
    Out.append(reinterpret_cast<const char*>(ext), 10);
  }

  void ParseNumber() {
    size_t start = P;
    if (Peek() == u'-' || Peek() == u'+') ++P;
    if (Peek() == u'$') {
      P = start;
      form_values::AppendInteger(Out, ParseIntegerLiteral());
      return;
    }
    size_t digitsStart = P;
    while (IsDigit(Peek())) ++P;
    bool isFloat = false;
    if (Peek() == u'.') {
      isFloat = true;
      ++P;
      while (IsDigit(Peek())) ++P;
    }
    if ((Peek() == u'e' || Peek() == u'E') && P > digitsStart) {
      size_t q = P + 1;
      if (q < S.size() && (S[q] == u'+' || S[q] == u'-')) ++q;
      if (q < S.size() && IsDigit(S[q])) {
        isFloat = true;
        P = q;
        while (IsDigit(Peek())) ++P;
      }
    }
    size_t end = P;
    if (end == digitsStart || (end == digitsStart + 1 && S[digitsStart] == u'.')) Error(u"Number expected");
    Char suffix = 0;
    if (IsIdentStart(Peek())) {
      suffix = Peek();
      if (suffix >= u'a' && suffix <= u'z') suffix = Char(suffix - 32);
      if (suffix != u'S' && suffix != u'F' && suffix != u'C' && suffix != u'D') Error(u"Invalid number");
      ++P;
      if (IsIdentChar(Peek()) || Peek() == u'.') Error(u"Invalid number");
      isFloat = true;
    } else if (IsIdentChar(Peek()) || Peek() == u'.') {
      Error(u"Invalid number");
    }
    std::string text(S.begin() + static_cast<std::ptrdiff_t>(start), S.begin() + static_cast<std::ptrdiff_t>(end));
    if (!isFloat) {
      P = start;
      form_values::AppendInteger(Out, ParseIntegerLiteral());
      return;
    }
    if (suffix == u'C') {
      AppendCurrency(text);
      return;
    }
    const char* first = text.data();
    if (*first == '+') ++first;
    double d = 0;
    auto res = std::from_chars(first, text.data() + text.size(), d);
    if (res.ec != std::errc() || res.ptr != text.data() + text.size() || !std::isfinite(d))
      Error(u"Invalid floating point value");
    switch (suffix) {
      case u'S': {
        float f = static_cast<float>(d);
        if (!std::isfinite(f)) Error(u"Invalid floating point value");
        uint32_t bits;
        std::memcpy(&bits, &f, 4);
        Out += static_cast<char>(vaSingle);
        AppendU32(Out, bits);
        break;
      }
      case u'F':
      case u'D': {
        uint64_t bits;
        std::memcpy(&bits, &d, 8);
        Out += static_cast<char>(suffix == u'F' ? vaDouble : vaDate);
        AppendU64(Out, bits);
        break;
      }
      default:
        AppendExtended(d);
        break;
    }
  }

  // A currency literal, read exactly to four decimals (further digits round
  // half to even).
  void AppendCurrency(const std::string& Text) {
    size_t i = 0;
    bool neg = false;
    if (i < Text.size() && (Text[i] == '-' || Text[i] == '+')) neg = Text[i++] == '-';
    if (Text.find_first_of("eE") != std::string::npos) {
      double d = 0;
      auto res = std::from_chars(Text.data() + i, Text.data() + Text.size(), d);
      if (res.ec != std::errc()) Error(u"Invalid floating point value");
      double scaled = std::nearbyint(d * 10000.0);
      if (!(std::fabs(scaled) < 9.2e18)) Error(u"Currency value out of range");
      AppendCurrencyValue(static_cast<Int64>(neg ? -scaled : scaled));
      return;
    }
    unsigned __int128 v = 0;
    const unsigned __int128 limit = static_cast<unsigned __int128>(INT64_MAX) + 1;
    for (; i < Text.size() && Text[i] != '.'; ++i) {
      v = v * 10 + static_cast<unsigned>(Text[i] - '0');
      if (v > limit) Error(u"Currency value out of range");
    }
    if (i < Text.size()) ++i;
    int decimals = 0;
    for (; i < Text.size() && decimals < 4; ++i, ++decimals) v = v * 10 + static_cast<unsigned>(Text[i] - '0');
    for (; decimals < 4; ++decimals) v *= 10;
    if (i < Text.size()) {
      // Round the rest half to even.
      int first = Text[i] - '0';
      bool restNonZero = Text.find_first_not_of('0', i + 1) != std::string::npos;
      if (first > 5 || (first == 5 && (restNonZero || (v & 1)))) ++v;
    }
    if (v > (neg ? limit : limit - 1)) Error(u"Currency value out of range");
    AppendCurrencyValue(neg ? static_cast<Int64>(0 - static_cast<uint64_t>(v)) : static_cast<Int64>(v));
  }

  void AppendCurrencyValue(Int64 V) {
    Out += static_cast<char>(vaCurrency);
    AppendU64(Out, static_cast<uint64_t>(V));
  }
};

// --- Binary to text -----------------------------------------------------------

class TBinaryToText {
 public:
  TBinaryToText(const RawByteString& Binary, size_t Start) : B(Binary), P(Start) {}

  std::string Run() {
    Need(4);
    if (std::memcmp(B.data() + P, FilerSignature, 4) != 0) throw EFilerError(u"Invalid stream format");
    P += 4;
    ConvertObject(0, 0);
    return std::move(Out);
  }

  size_t Position() const { return P; }

 private:
  const RawByteString& B;
  size_t P;
  std::string Out;

  void Need(size_t N) const {
    if (B.size() - P < N) throw EReadError(u"Stream read error");
  }
  Byte ReadByte() {
    Need(1);
    return static_cast<Byte>(B[P++]);
  }
  Byte PeekByte() const {
    Need(1);
    return static_cast<Byte>(B[P]);
  }
  uint64_t ReadLE(int N) {
    Need(static_cast<size_t>(N));
    uint64_t v = 0;
    for (int i = 0; i < N; ++i) v |= static_cast<uint64_t>(static_cast<Byte>(B[P + i])) << (8 * i);
    P += static_cast<size_t>(N);
    return v;
  }
  std::string ReadBytes(size_t N) {
    Need(N);
    std::string s = B.substr(P, N);
    P += N;
    return s;
  }
  std::string ReadShort() { return ReadBytes(ReadByte()); }

  static bool ValidIdent(const std::string& S, bool Dotted) {
    if (S.empty()) return false;
    bool start = true;
    for (char c : S) {
      if (start) {
        if (!IsIdentStart(static_cast<Byte>(c))) return false;
        start = false;
      } else if (c == '.' && Dotted) {
        start = true;
      } else if (!IsIdentChar(static_cast<Byte>(c))) {
        return false;
      }
    }
    return !start;
  }
  std::string ReadName(bool Dotted, bool AllowEmpty) {
    std::string s = ReadShort();
    if (s.empty() && AllowEmpty) return s;
    if (!ValidIdent(s, Dotted)) throw EFilerError(u"Invalid stream format");
    return s;
  }

  void NewLine() { Out += "\r\n"; }
  void Indent(int Level) { Out.append(static_cast<size_t>(Level) * 2, ' '); }

  Int64 ReadIntegerValue() {
    switch (ReadByte()) {
      case vaInt8: return static_cast<int8_t>(ReadLE(1));
      case vaInt16: return static_cast<int16_t>(ReadLE(2));
      case vaInt32: return static_cast<int32_t>(ReadLE(4));
      case vaInt64: return static_cast<Int64>(ReadLE(8));
      default: throw EReadError(u"Invalid property value");
    }
  }

  void ConvertObject(int Level, int Depth) {
    if (Depth > kMaxDepth) throw EReadError(u"Objects nested too deeply");
    Byte flags = 0;
    Int64 childPos = 0;
    if ((PeekByte() & 0xF0) == 0xF0) {
      flags = ReadByte() & 0x0F;
      if (flags & ffChildPos) childPos = ReadIntegerValue();
    }
    std::string cls = ReadName(false, false);
    std::string name = ReadName(false, true);
    Indent(Level);
    Out += (flags & ffInline) ? "inline " : (flags & ffInherited) ? "inherited " : "object ";
    if (!name.empty()) Out += name + ": ";
    Out += cls;
    if (flags & ffChildPos) Out += " [" + std::to_string(childPos) + "]";
    NewLine();
    while (PeekByte() != vaNull) ConvertProperty(Level + 1, Depth);
    ++P;
    while (PeekByte() != vaNull) ConvertObject(Level + 1, Depth + 1);
    ++P;
    Indent(Level);
    Out += "end";
    NewLine();
  }

  void ConvertProperty(int Level, int Depth) {
    std::string name = ReadName(true, false);
    Indent(Level);
    Out += name + " = ";
    if (PeekByte() == vaNull) {
      ++P;
      Out += "Null";
    } else {
      ConvertValue(Level, Depth + 1);
    }
    NewLine();
  }

  void WriteFloat(double D, const char* Suffix) {
    // Infinities and NaN in the platform's text (an extended beyond the
    // double range arrives here as an infinity); they read back as extended.
    if (std::isnan(D)) {
      Out += "NAN";
      return;
    }
    if (std::isinf(D)) {
      Out += D < 0 ? "-INF" : "INF";
      return;
    }
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, D);
    std::string s(buf, res.ptr);
    for (char& c : s)
      if (c == 'e') c = 'E';
    if (!*Suffix && s.find_first_of(".E") == std::string::npos) s += ".0";
    Out += s + Suffix;
  }

  void WriteString(const String& V, int Level) {
    if (V.empty()) {
      Out += "''";
      return;
    }
    for (size_t start = 0; start < V.size(); start += kStringLineLength) {
      if (start > 0) {
        Out += " +";
        NewLine();
        Indent(Level + 1);
      }
      size_t end = std::min(V.size(), start + kStringLineLength);
      bool quoted = false;
      for (size_t i = start; i < end; ++i) {
        Char c = V[i];
        if (c >= 32 && c < 127) {
          if (!quoted) { Out += '\''; quoted = true; }
          if (c == u'\'') Out += '\'';
          Out += static_cast<char>(c);
        } else {
          if (quoted) { Out += '\''; quoted = false; }
          Out += '#' + std::to_string(static_cast<unsigned>(c));
        }
      }
      if (quoted) Out += '\'';
    }
  }

  static const char* HexDigits() { return "0123456789ABCDEF"; }

  void ConvertValue(int Level, int Depth) {
    if (Depth > kMaxDepth) throw EReadError(u"Values nested too deeply");
    Byte tag = ReadByte();
    switch (tag) {
      case vaList:
        Out += '(';
        while (PeekByte() != vaNull) {
          NewLine();
          Indent(Level + 1);
          ConvertValue(Level + 1, Depth + 1);
        }
        ++P;
        Out += ')';
        break;
      case vaInt8: Out += std::to_string(static_cast<int8_t>(ReadLE(1))); break;
      case vaInt16: Out += std::to_string(static_cast<int16_t>(ReadLE(2))); break;
      case vaInt32: Out += std::to_string(static_cast<int32_t>(ReadLE(4))); break;
      case vaInt64: Out += std::to_string(static_cast<Int64>(ReadLE(8))); break;
      case vaExtended: {
        Need(10);
        WriteFloat(ExtendedToDouble(reinterpret_cast<const uint8_t*>(B.data() + P)), "");
        P += 10;
        break;
      }
      case vaSingle: {
        uint32_t bits = static_cast<uint32_t>(ReadLE(4));
        float f;
        std::memcpy(&f, &bits, 4);
        if (!std::isfinite(f)) {
          WriteFloat(f, "S");
          break;
        }
        char buf[64];
        auto res = std::to_chars(buf, buf + sizeof buf, f);
        std::string s(buf, res.ptr);
        for (char& c : s)
          if (c == 'e') c = 'E';
        Out += s + "S";
        break;
      }
      case vaDouble:
      case vaDate: {
        uint64_t bits = ReadLE(8);
        double d;
        std::memcpy(&d, &bits, 8);
        WriteFloat(d, tag == vaDouble ? "F" : "D");
        break;
      }
      case vaCurrency: {
        Int64 v = static_cast<Int64>(ReadLE(8));
        uint64_t a = v < 0 ? 0 - static_cast<uint64_t>(v) : static_cast<uint64_t>(v);
        std::string s = (v < 0 ? "-" : "") + std::to_string(a / 10000);
        unsigned frac = static_cast<unsigned>(a % 10000);
        if (frac) {
          char buf[8];
          std::snprintf(buf, sizeof buf, "%04u", frac);
          std::string f = buf;
          while (f.back() == '0') f.pop_back();
          s += "." + f;
        }
        Out += s + "C";
        break;
      }
      case vaString: WriteString(form_values::DecodeAnsi(ReadShort()), Level); break;
      case vaLString: WriteString(form_values::DecodeAnsi(ReadBytes(ReadLE(4))), Level); break;
      case vaUTF8String: WriteString(UTF8ToUTF16(ReadBytes(ReadLE(4))), Level); break;
      case vaWString: {
        size_t n = ReadLE(4);
        Need(n * 2);
        String v(n, u'\0');
        for (size_t i = 0; i < n; ++i)
          v[i] = static_cast<Char>(static_cast<Byte>(B[P + 2 * i]) | (static_cast<Byte>(B[P + 2 * i + 1]) << 8));
        P += n * 2;
        WriteString(v, Level);
        break;
      }
      case vaIdent: Out += ReadName(true, false); break;
      case vaFalse: Out += "False"; break;
      case vaTrue: Out += "True"; break;
      case vaNil: Out += "nil"; break;
      case vaBinary: {
        size_t n = ReadLE(4);
        Need(n);
        Out += '{';
        for (size_t i = 0; i < n; ++i) {
          if (i % kBinaryLineBytes == 0) {
            NewLine();
            Indent(Level + 1);
          }
          Byte b = static_cast<Byte>(B[P + i]);
          Out += HexDigits()[b >> 4];
          Out += HexDigits()[b & 15];
        }
        P += n;
        Out += '}';
        break;
      }
      case vaSet: {
        Out += '[';
        bool first = true;
        for (;;) {
          std::string e = ReadShort();
          if (e.empty()) break;
          if (!ValidIdent(e, false)) throw EReadError(u"Invalid property value");
          if (!first) Out += ", ";
          Out += e;
          first = false;
        }
        Out += ']';
        break;
      }
      case vaCollection: {
        Out += '<';
        while (PeekByte() != vaNull) {
          NewLine();
          Indent(Level + 1);
          Out += "item";
          Byte next = PeekByte();
          if (next == vaInt8 || next == vaInt16 || next == vaInt32 || next == vaInt64)
            Out += " [" + std::to_string(ReadIntegerValue()) + "]";
          if (ReadByte() != vaList) throw EReadError(u"Invalid property value");
          NewLine();
          while (PeekByte() != vaNull) ConvertProperty(Level + 2, Depth + 1);
          ++P;
          Indent(Level + 1);
          Out += "end";
        }
        ++P;
        Out += '>';
        break;
      }
      default:
        throw EReadError(u"Invalid property value");
    }
  }
};

String DecodeFormText(const RawByteString& Text) {
  if (Text.size() >= 3 && static_cast<Byte>(Text[0]) == 0xEF && static_cast<Byte>(Text[1]) == 0xBB &&
      static_cast<Byte>(Text[2]) == 0xBF)
    return UTF8ToUTF16(Text.substr(3));
  if (IsValidUTF8(Text)) return UTF8ToUTF16(Text);
  return form_values::DecodeAnsi(Text);
}

RawByteString ReadRest(TStream* Stream) {
  Int64 size = Stream->Size() - Stream->Position();
  if (size <= 0) return {};
  RawByteString bytes(static_cast<size_t>(size), '\0');
  bytes.resize(static_cast<size_t>(Stream->Read(bytes.data(), static_cast<Integer>(size))));
  return bytes;
}

}  // namespace

RawByteString ObjectTextToBinary(const RawByteString& Text) {
  String text = DecodeFormText(Text);
  TTextToBinary conv(text);
  return conv.Run();
}

RawByteString ObjectBinaryToText(const RawByteString& Binary) {
  TBinaryToText conv(Binary, 0);
  return conv.Run();
}

void ObjectTextToBinary(TStream* Input, TStream* Output) {
  Int64 start = Input->Position();
  RawByteString raw = ReadRest(Input);
  String text = DecodeFormText(raw);
  TTextToBinary conv(text);
  RawByteString bin = conv.Run();
  // Leave the input just after the object when the text maps one to one onto
  // the bytes (ASCII), else at the end.
  if (text.size() == raw.size()) Input->SetPosition(start + static_cast<Int64>(conv.Position()));
  Output->WriteBuffer(bin.data(), static_cast<Integer>(bin.size()));
}

void ObjectBinaryToText(TStream* Input, TStream* Output) {
  Int64 start = Input->Position();
  RawByteString raw = ReadRest(Input);
  TBinaryToText conv(raw, 0);
  std::string text = conv.Run();
  Input->SetPosition(start + static_cast<Int64>(conv.Position()));
  Output->WriteBuffer(text.data(), static_cast<Integer>(text.size()));
}

TStreamOriginalFormat TestStreamFormat(const RawByteString& Bytes) {
  if (Bytes.size() >= 4 && std::memcmp(Bytes.data(), FilerSignature, 4) == 0) return sofBinary;
  if (Bytes.size() >= 3 && static_cast<Byte>(Bytes[0]) == 0xEF && static_cast<Byte>(Bytes[1]) == 0xBB &&
      static_cast<Byte>(Bytes[2]) == 0xBF)
    return sofUTF8Text;
  size_t i = 0;
  while (i < Bytes.size() && static_cast<Byte>(Bytes[i]) <= ' ') ++i;
  if (i < Bytes.size()) {
    char c = Bytes[i];
    if (c == 'o' || c == 'O' || c == 'i' || c == 'I') return sofText;
  }
  return sofUnknown;
}

TStreamOriginalFormat TestStreamFormat(TStream* Stream) {
  Int64 pos = Stream->Position();
  RawByteString head(64, '\0');
  head.resize(static_cast<size_t>(Stream->Read(head.data(), 64)));
  Stream->SetPosition(pos);
  return TestStreamFormat(head);
}
