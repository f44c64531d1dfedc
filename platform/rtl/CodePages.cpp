#include "platform/rtl/CodePages.h"

#include <unicode/ucnv.h>
#include <unicode/ucnv_cb.h>

#include <cstring>
#include <map>
#include <mutex>

#include "platform/rtl/Locale.h"

namespace {

// Bytes 0x80..0x9F of code page 1252; 0xA0..0xFF are Latin-1. The five
// bytes the page leaves undefined map to the C1 control of the same value,
// both ways, as the platform's table does.
constexpr Char k1252High[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
// Code page 1254 differs from 1252 in 0x8E, 0x9E (undefined) and six letters.
constexpr Char k1254High[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x008E, 0x008F,
                                0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x009E, 0x0178};

struct TByteTable {
  Char ToWide[256];
  Byte FromBmpLow[0x180];  // U+0000..U+017F -> byte, 0 = none (except U+0000)
  struct TPair {
    Char W;
    Byte B;
  };
  TPair Other[32];  // the rest, for the characters above U+017F
  int OtherCount = 0;

  explicit TByteTable(const Char* High, bool Turkish) {
    for (int b = 0; b < 256; ++b) ToWide[b] = static_cast<Char>(b);
    for (int b = 0; b < 32; ++b) ToWide[0x80 + b] = High[b];
    if (Turkish) {
      ToWide[0xD0] = 0x011E;  // Ğ
      ToWide[0xDD] = 0x0130;  // İ
      ToWide[0xDE] = 0x015E;  // Ş
      ToWide[0xF0] = 0x011F;  // ğ
      ToWide[0xFD] = 0x0131;  // ı
      ToWide[0xFE] = 0x015F;  // ş
    }
    std::memset(FromBmpLow, 0, sizeof FromBmpLow);
    for (int b = 255; b >= 1; --b) {
      const Char w = ToWide[b];
      if (w < 0x180) {
        FromBmpLow[w] = static_cast<Byte>(b);
      } else {
        Other[OtherCount++] = {w, static_cast<Byte>(b)};
      }
    }
  }

  // -1 when the page has no byte for the character.
  int FromWide(Char w) const {
    if (w == 0) return 0;
    if (w < 0x180) return FromBmpLow[w] != 0 ? FromBmpLow[w] : -1;
    for (int i = 0; i < OtherCount; ++i)
      if (Other[i].W == w) return Other[i].B;
    return -1;
  }
};

const TByteTable& Table1252() {
  static const TByteTable t(k1252High, false);
  return t;
}
const TByteTable& Table1254() {
  static const TByteTable t(k1254High, true);
  return t;
}

const TByteTable* ExactTable(Cardinal CodePage) {
  if (CodePage == 1252) return &Table1252();
  if (CodePage == 1254) return &Table1254();
  return nullptr;
}

// The ICU converter name of a code page, "" when ICU has no byte converter
// for it. Looked up once per page.
std::string IcuName(Cardinal CodePage) {
  static std::mutex lock;
  static std::map<Cardinal, std::string> names;
  std::lock_guard<std::mutex> guard(lock);
  auto it = names.find(CodePage);
  if (it != names.end()) return it->second;
  std::string found;
  const std::string number = std::to_string(CodePage);
  for (const char* prefix : {"windows-", "ibm-"}) {
    UErrorCode err = U_ZERO_ERROR;
    UConverter* cnv = ucnv_open((prefix + number).c_str(), &err);
    if (cnv == nullptr || U_FAILURE(err)) continue;
    const UConverterType type = ucnv_getType(cnv);
    if (type == UCNV_SBCS || type == UCNV_DBCS || type == UCNV_MBCS || type == UCNV_LATIN_1 ||
        type == UCNV_US_ASCII) {
      found = ucnv_getName(cnv, &err);
    }
    ucnv_close(cnv);
    if (!found.empty()) break;
  }
  names.emplace(CodePage, found);
  return found;
}

struct TConverter {
  UConverter* Cnv = nullptr;
  explicit TConverter(const std::string& Name) {
    UErrorCode err = U_ZERO_ERROR;
    Cnv = ucnv_open(Name.c_str(), &err);
    if (U_FAILURE(err)) Cnv = nullptr;
  }
  ~TConverter() {
    if (Cnv != nullptr) ucnv_close(Cnv);
  }
  TConverter(const TConverter&) = delete;
  TConverter& operator=(const TConverter&) = delete;
};

struct TToUState {
  bool Invalid = false;
};

// Undefined or ill-formed bytes become "?" and are noted.
void QuestionMarkToU(const void* Context, UConverterToUnicodeArgs* Args, const char*, int32_t,
                     UConverterCallbackReason Reason, UErrorCode* Err) {
  if (Reason > UCNV_IRREGULAR) return;  // reset, close, clone
  static_cast<TToUState*>(const_cast<void*>(Context))->Invalid = true;
  *Err = U_ZERO_ERROR;
  const UChar q = u'?';
  ucnv_cbToUWriteUChars(Args, &q, 1, 0, Err);
}

struct TFromUState {
  bool Used = false;
  bool Invalid = false;  // a lone surrogate
  char Default = '?';
};

void DefaultCharFromU(const void* Context, UConverterFromUnicodeArgs* Args, const UChar*, int32_t, UChar32,
                      UConverterCallbackReason Reason, UErrorCode* Err) {
  if (Reason > UCNV_IRREGULAR) return;
  auto* state = static_cast<TFromUState*>(const_cast<void*>(Context));
  state->Used = true;
  if (Reason != UCNV_UNASSIGNED) state->Invalid = true;
  *Err = U_ZERO_ERROR;
  ucnv_cbFromUWriteBytes(Args, &state->Default, 1, 0, Err);
}

bool IsSymbolPage(Cardinal CodePage) { return CodePage == 42; }

// Bytes -> UTF-16 in a resolved page. False for an unknown page.
bool DecodeBytes(Cardinal CodePage, const char* P, size_t N, String& Out, bool& Invalid) {
  Out.clear();
  Invalid = false;
  if (CodePage == 65001) {
    const UTF8String in(P, N);
    Out = UTF8ToUTF16(in);
    // Well-formed UTF-8 comes back unchanged; a replaced sequence does not.
    Invalid = UTF16ToUTF8(Out) != in;
    return true;
  }
  if (const TByteTable* t = ExactTable(CodePage)) {
    Out.resize(N);
    for (size_t i = 0; i < N; ++i) Out[i] = t->ToWide[static_cast<Byte>(P[i])];
    return true;
  }
  if (IsSymbolPage(CodePage)) {
    Out.resize(N);
    for (size_t i = 0; i < N; ++i) {
      const Byte b = static_cast<Byte>(P[i]);
      Out[i] = b < 0x20 ? Char(b) : static_cast<Char>(0xF000 + b);
    }
    return true;
  }
  const std::string name = IcuName(CodePage);
  if (name.empty()) return false;
  TConverter c(name);
  if (c.Cnv == nullptr) return false;
  if (N == 0) return true;
  if (N > static_cast<size_t>(MaxInt / 4)) return false;  // beyond what ICU counts in int32_t
  TToUState state;
  UErrorCode err = U_ZERO_ERROR;
  ucnv_setToUCallBack(c.Cnv, QuestionMarkToU, &state, nullptr, nullptr, &err);
  if (U_FAILURE(err)) return false;
  Out.resize(N * 2 + 4);
  const int32_t len = ucnv_toUChars(c.Cnv, reinterpret_cast<UChar*>(Out.data()),
                                    static_cast<int32_t>(Out.size()), P, static_cast<int32_t>(N), &err);
  if (U_FAILURE(err)) {
    Out.clear();
    return false;
  }
  Out.resize(static_cast<size_t>(len));
  Invalid = state.Invalid;
  return true;
}

bool IsHighSurrogate(Char c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(Char c) { return c >= 0xDC00 && c <= 0xDFFF; }

// UTF-16 -> bytes in a resolved page. A character the page cannot hold
// becomes Default (a surrogate pair counts as one character). False for an
// unknown page.
bool EncodeChars(Cardinal CodePage, const Char* P, size_t N, char Default, std::string& Out, bool& Used,
                 bool& Invalid) {
  Out.clear();
  Used = false;
  Invalid = false;
  if (CodePage == 65001) {
    for (size_t i = 0; i < N; ++i) {
      if (IsHighSurrogate(P[i]) && i + 1 < N && IsLowSurrogate(P[i + 1])) {
        ++i;
      } else if (IsHighSurrogate(P[i]) || IsLowSurrogate(P[i])) {
        Invalid = true;
      }
    }
    Out = UTF16ToUTF8(String(P, N));
    return true;
  }
  const TByteTable* t = ExactTable(CodePage);
  if (t != nullptr || IsSymbolPage(CodePage)) {
    Out.reserve(N);
    for (size_t i = 0; i < N; ++i) {
      const Char w = P[i];
      int b;
      if (t != nullptr) {
        b = t->FromWide(w);
      } else if (w < 0x100) {
        b = w;
      } else if (w >= 0xF000 && w <= 0xF0FF) {
        b = w - 0xF000;
      } else {
        b = -1;
      }
      if (b >= 0) {
        Out += static_cast<char>(b);
        continue;
      }
      Used = true;
      if (IsHighSurrogate(w) && i + 1 < N && IsLowSurrogate(P[i + 1])) {
        ++i;
      } else if (IsHighSurrogate(w) || IsLowSurrogate(w)) {
        Invalid = true;
      }
      Out += Default;
    }
    return true;
  }
  const std::string name = IcuName(CodePage);
  if (name.empty()) return false;
  TConverter c(name);
  if (c.Cnv == nullptr) return false;
  if (N == 0) return true;
  if (N > static_cast<size_t>(MaxInt / 8)) return false;  // beyond what ICU counts in int32_t
  TFromUState state;
  state.Default = Default;
  UErrorCode err = U_ZERO_ERROR;
  ucnv_setFromUCallBack(c.Cnv, DefaultCharFromU, &state, nullptr, nullptr, &err);
  if (U_FAILURE(err)) return false;
  Out.resize(N * static_cast<size_t>(ucnv_getMaxCharSize(c.Cnv)) + 8);
  const int32_t len = ucnv_fromUChars(c.Cnv, Out.data(), static_cast<int32_t>(Out.size()),
                                      reinterpret_cast<const UChar*>(P), static_cast<int32_t>(N), &err);
  if (U_FAILURE(err)) {
    Out.clear();
    return false;
  }
  Out.resize(static_cast<size_t>(len));
  Used = state.Used;
  Invalid = state.Invalid;
  return true;
}

struct TCharsetRow {
  Byte Charset;
  Cardinal CodePage;
  Cardinal FontSig;
};

// The font character sets that have an ANSI code page.
constexpr TCharsetRow kCharsets[] = {
    {ANSI_CHARSET, 1252, FS_LATIN1},           {EASTEUROPE_CHARSET, 1250, FS_LATIN2},
    {RUSSIAN_CHARSET, 1251, FS_CYRILLIC},      {GREEK_CHARSET, 1253, FS_GREEK},
    {TURKISH_CHARSET, 1254, FS_TURKISH},       {HEBREW_CHARSET, 1255, FS_HEBREW},
    {ARABIC_CHARSET, 1256, FS_ARABIC},         {BALTIC_CHARSET, 1257, FS_BALTIC},
    {VIETNAMESE_CHARSET, 1258, FS_VIETNAMESE}, {THAI_CHARSET, 874, FS_THAI},
    {SHIFTJIS_CHARSET, 932, FS_JISJAPAN},      {GB2312_CHARSET, 936, FS_CHINESESIMP},
    {HANGEUL_CHARSET, 949, FS_WANSUNG},        {CHINESEBIG5_CHARSET, 950, FS_CHINESETRAD},
    {JOHAB_CHARSET, 1361, FS_JOHAB},           {SYMBOL_CHARSET, CP_SYMBOL, FS_SYMBOL},
};

}  // namespace

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
    if (b < 0x80) {
      c = b;
      len = 1;
    } else if ((b & 0xE0) == 0xC0) {
      c = b & 0x1F;
      len = 2;
    } else if ((b & 0xF0) == 0xE0) {
      c = b & 0x0F;
      len = 3;
    } else if ((b & 0xF8) == 0xF0) {
      c = b & 0x07;
      len = 4;
    } else {
      out += u'\xFFFD';
      ++i;
      continue;
    }
    if (i + len > n) {
      out += u'\xFFFD';
      ++i;
      continue;
    }
    bool ok = true;
    for (size_t k = 1; k < len; ++k) {
      if ((p[i + k] & 0xC0) != 0x80) {
        ok = false;
        break;
      }
      c = (c << 6) | (p[i + k] & 0x3F);
    }
    static const uint32_t kMin[5] = {0, 0, 0x80, 0x800, 0x10000};
    if (!ok || c < kMin[len] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
      out += u'\xFFFD';
      ++i;
      continue;
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

// ---- Code pages --------------------------------------------------------------

Cardinal ResolveCodePage(Cardinal CodePage) {
  switch (CodePage) {
    case CP_ACP:
    case CP_THREAD_ACP:
      return GetACP();
    case CP_OEMCP:
      return GetACP() == 1254 ? 857 : 437;
    default:
      return CodePage;
  }
}

Boolean IsValidCodePage(Cardinal CodePage) {
  const Cardinal cp = ResolveCodePage(CodePage);
  return cp == CP_UTF8 || cp == CP_SYMBOL || ExactTable(cp) != nullptr || !IcuName(cp).empty();
}

String AnsiToString(const AnsiString& S) { return AnsiToString(S, CP_ACP); }

AnsiString StringToAnsi(const String& S) { return StringToAnsi(S, CP_ACP); }

String AnsiToString(const RawByteString& S, Cardinal CodePage) {
  String out;
  bool invalid = false;
  if (!DecodeBytes(ResolveCodePage(CodePage), S.data(), S.size(), out, invalid)) return String();
  return out;
}

RawByteString StringToAnsi(const String& S, Cardinal CodePage) {
  std::string out;
  bool used = false, invalid = false;
  if (!EncodeChars(ResolveCodePage(CodePage), S.data(), S.size(), '?', out, used, invalid))
    return RawByteString();
  return out;
}

Integer MultiByteToWideChar(Cardinal CodePage, Cardinal Flags, const char* MultiByteStr,
                            Integer MultiByteCount, Char* WideCharStr, Integer WideCharCount) {
  constexpr Cardinal known = MB_PRECOMPOSED | MB_COMPOSITE | MB_USEGLYPHCHARS | MB_ERR_INVALID_CHARS;
  if (MultiByteStr == nullptr || MultiByteCount == 0 || MultiByteCount < -1 || WideCharCount < 0 ||
      (WideCharCount > 0 && WideCharStr == nullptr) || (Flags & ~known) != 0 ||
      ((Flags & MB_PRECOMPOSED) && (Flags & MB_COMPOSITE)))
    return 0;
  const size_t n = MultiByteCount == -1 ? std::strlen(MultiByteStr) + 1 : static_cast<size_t>(MultiByteCount);
  String out;
  bool invalid = false;
  if (!DecodeBytes(ResolveCodePage(CodePage), MultiByteStr, n, out, invalid)) return 0;
  if (invalid && (Flags & MB_ERR_INVALID_CHARS)) return 0;
  if (out.size() > static_cast<size_t>(MaxInt)) return 0;
  const Integer needed = static_cast<Integer>(out.size());
  if (WideCharCount == 0) return needed;
  if (needed > WideCharCount) return 0;  // the buffer is too small
  std::memcpy(WideCharStr, out.data(), out.size() * sizeof(Char));
  return needed;
}

Integer WideCharToMultiByte(Cardinal CodePage, Cardinal Flags, const Char* WideCharStr, Integer WideCharCount,
                            char* MultiByteStr, Integer MultiByteCount, const char* DefaultChar,
                            BOOL* UsedDefaultChar) {
  constexpr Cardinal known = WC_COMPOSITECHECK | WC_DEFAULTCHAR | WC_NO_BEST_FIT_CHARS | WC_ERR_INVALID_CHARS;
  const Cardinal cp = ResolveCodePage(CodePage);
  if (WideCharStr == nullptr || WideCharCount == 0 || WideCharCount < -1 || MultiByteCount < 0 ||
      (MultiByteCount > 0 && MultiByteStr == nullptr) || (Flags & ~known) != 0)
    return 0;
  if (cp == CP_UTF8 && (DefaultChar != nullptr || UsedDefaultChar != nullptr)) return 0;
  size_t n;
  if (WideCharCount == -1) {
    n = 0;
    while (WideCharStr[n] != 0) ++n;
    ++n;  // the terminating NUL is converted too
  } else {
    n = static_cast<size_t>(WideCharCount);
  }
  std::string out;
  bool used = false, invalid = false;
  const char def = DefaultChar != nullptr ? *DefaultChar : '?';
  if (!EncodeChars(cp, WideCharStr, n, def, out, used, invalid)) return 0;
  if (invalid && (Flags & WC_ERR_INVALID_CHARS)) return 0;
  if (out.size() > static_cast<size_t>(MaxInt)) return 0;
  const Integer needed = static_cast<Integer>(out.size());
  if (MultiByteCount > 0) {
    if (needed > MultiByteCount) return 0;  // the buffer is too small
    std::memcpy(MultiByteStr, out.data(), out.size());
  }
  if (UsedDefaultChar != nullptr) *UsedDefaultChar = used ? 1 : 0;
  return needed;
}

BOOL IsDBCSLeadByteEx(Cardinal CodePage, Byte TestChar) {
  const Cardinal cp = ResolveCodePage(CodePage);
  if (cp == CP_UTF8 || cp == CP_SYMBOL || ExactTable(cp) != nullptr || TestChar < 0x80) return 0;
  const std::string name = IcuName(cp);
  if (name.empty()) return 0;
  TConverter c(name);
  if (c.Cnv == nullptr || ucnv_getMaxCharSize(c.Cnv) < 2) return 0;
  UBool starters[256] = {};
  UErrorCode err = U_ZERO_ERROR;
  ucnv_getStarters(c.Cnv, starters, &err);
  return U_SUCCESS(err) && starters[TestChar] ? 1 : 0;
}

BOOL IsDBCSLeadByte(Byte TestChar) { return IsDBCSLeadByteEx(CP_ACP, TestChar); }

// ---- Character sets -----------------------------------------------------------

BOOL TranslateCharsetInfo(Cardinal* Src, CHARSETINFO* Cs, Cardinal Flags) {
  if (Cs == nullptr) return 0;
  const uintptr_t value = reinterpret_cast<uintptr_t>(Src);
  for (const TCharsetRow& row : kCharsets) {
    bool match = false;
    switch (Flags) {
      case TCI_SRCCHARSET:
        match = value == row.Charset;
        break;
      case TCI_SRCCODEPAGE:
        match = value == row.CodePage;
        break;
      case TCI_SRCFONTSIG:
        match = Src != nullptr && (Src[0] & row.FontSig) != 0;
        break;
      default:
        return 0;
    }
    if (match) {
      *Cs = CHARSETINFO{};
      Cs->ciCharset = row.Charset;
      Cs->ciACP = row.CodePage;
      Cs->fs.fsCsb[0] = row.FontSig;
      return 1;
    }
  }
  return 0;
}

Cardinal CharsetToCodePage(Byte Charset) {
  CHARSETINFO info;
  if (TranslateCharsetInfo(reinterpret_cast<Cardinal*>(static_cast<uintptr_t>(Charset)), &info,
                           TCI_SRCCHARSET))
    return info.ciACP;
  return GetACP();
}

// ---- Text files -----------------------------------------------------------------

TDecodedText DetectBOM(const RawByteString& Bytes) {
  TDecodedText r;
  const auto b = [&](size_t i) { return static_cast<Byte>(Bytes[i]); };
  if (Bytes.size() >= 3 && b(0) == 0xEF && b(1) == 0xBB && b(2) == 0xBF) {
    r.Encoding = TTextEncoding::UTF8;
    r.BOMLength = 3;
  } else if (Bytes.size() >= 2 && b(0) == 0xFF && b(1) == 0xFE) {
    r.Encoding = TTextEncoding::UTF16LE;
    r.BOMLength = 2;
  } else if (Bytes.size() >= 2 && b(0) == 0xFE && b(1) == 0xFF) {
    r.Encoding = TTextEncoding::UTF16BE;
    r.BOMLength = 2;
  }
  return r;
}

String DecodeTextAs(const void* Data, size_t Size, TTextEncoding Encoding, Cardinal AnsiCodePage) {
  const Byte* p = static_cast<const Byte*>(Data);
  if (!p || Size == 0) return String();
  switch (Encoding) {
    case TTextEncoding::Ansi:
      return AnsiToString(RawByteString(reinterpret_cast<const char*>(p), Size), AnsiCodePage);
    case TTextEncoding::UTF8:
      return UTF8ToUTF16(UTF8String(reinterpret_cast<const char*>(p), Size));
    case TTextEncoding::UTF16LE:
    case TTextEncoding::UTF16BE: {
      const bool le = Encoding == TTextEncoding::UTF16LE;
      const size_t units = Size / 2;
      String text(units, u'\0');
      for (size_t i = 0; i < units; ++i) {
        const Byte lo = p[2 * i + (le ? 0 : 1)];
        const Byte hi = p[2 * i + (le ? 1 : 0)];
        text[i] = static_cast<Char>(lo | (hi << 8));
      }
      if (Size % 2 != 0) text += u'\xFFFD';
      return text;
    }
  }
  return String();
}

String DecodeTextAs(const RawByteString& Bytes, TTextEncoding Encoding, Cardinal AnsiCodePage) {
  return DecodeTextAs(Bytes.data(), Bytes.size(), Encoding, AnsiCodePage);
}

TDecodedText DecodeText(const RawByteString& Bytes, Cardinal AnsiCodePage) {
  TDecodedText r = DetectBOM(Bytes);
  const size_t start = static_cast<size_t>(r.BOMLength);
  r.Text = DecodeTextAs(Bytes.data() + start, Bytes.size() - start, r.Encoding, AnsiCodePage);
  return r;
}

RawByteString EncodeText(const String& Text, TTextEncoding Encoding, Boolean WriteBOM,
                         Cardinal AnsiCodePage) {
  RawByteString out;
  switch (Encoding) {
    case TTextEncoding::Ansi:
      return StringToAnsi(Text, AnsiCodePage);
    case TTextEncoding::UTF8:
      if (WriteBOM) out = "\xEF\xBB\xBF";
      out += UTF16ToUTF8(Text);
      return out;
    case TTextEncoding::UTF16LE:
    case TTextEncoding::UTF16BE: {
      const bool le = Encoding == TTextEncoding::UTF16LE;
      out.reserve(Text.size() * 2 + 2);
      if (WriteBOM) out = le ? "\xFF\xFE" : "\xFE\xFF";
      for (Char c : Text) {
        const char lo = static_cast<char>(c & 0xFF), hi = static_cast<char>(c >> 8);
        out += le ? lo : hi;
        out += le ? hi : lo;
      }
      return out;
    }
  }
  return out;
}
