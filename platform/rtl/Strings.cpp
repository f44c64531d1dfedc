#include "platform/rtl/Strings.h"
#include "platform/rtl/Collation.h"

#include <unicode/uchar.h>
#include <unicode/ucol.h>
#include <unicode/uloc.h>
#include <unicode/utf16.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <new>
#include <string>

#include "platform/rtl/Locale.h"

namespace {

// ---- 1-based routines shared by String and AnsiString ----------------------

template <class S>
S CopyImpl(const S& Str, Integer Index, Integer Count) {
  const Int64 len = static_cast<Int64>(Str.size());
  Int64 start = static_cast<Int64>(Index) - 1;
  if (start < 0) start = 0;
  if (start >= len || Count <= 0) return S();
  Int64 n = Count;
  if (n > len - start) n = len - start;
  return Str.substr(static_cast<size_t>(start), static_cast<size_t>(n));
}

template <class S>
Integer PosImpl(const S& Sub, const S& Str, Integer Offset) {
  if (Sub.empty() || Offset < 1 || static_cast<Int64>(Offset) > static_cast<Int64>(Str.size())) return 0;
  const size_t p = Str.find(Sub, static_cast<size_t>(Offset) - 1);
  return p == S::npos ? 0 : static_cast<Integer>(p + 1);
}

template <class S>
void DeleteImpl(S& Str, Integer Index, Integer Count) {
  const Int64 len = static_cast<Int64>(Str.size());
  if (Index < 1 || Index > len || Count <= 0) return;
  Int64 n = Count;
  if (n > len - (Index - 1)) n = len - (Index - 1);
  Str.erase(static_cast<size_t>(Index - 1), static_cast<size_t>(n));
}

template <class S>
void InsertImpl(const S& Source, S& Str, Integer Index) {
  Int64 at = static_cast<Int64>(Index) - 1;
  if (at < 0) at = 0;
  if (at > static_cast<Int64>(Str.size())) at = static_cast<Int64>(Str.size());
  Str.insert(static_cast<size_t>(at), Source);
}

template <class S>
S TrimImpl(const S& Str, bool Left, bool Right) {
  size_t b = 0, e = Str.size();
  if (Left)
    while (b < e && static_cast<std::make_unsigned_t<typename S::value_type>>(Str[b]) <= ' ') ++b;
  if (Right)
    while (e > b && static_cast<std::make_unsigned_t<typename S::value_type>>(Str[e - 1]) <= ' ') --e;
  return Str.substr(b, e - b);
}

template <class C>
C AsciiUpper(C c) {
  return c >= 'a' && c <= 'z' ? static_cast<C>(c - 'a' + 'A') : c;
}
template <class C>
C AsciiLower(C c) {
  return c >= 'A' && c <= 'Z' ? static_cast<C>(c - 'A' + 'a') : c;
}

template <class S>
Integer CompareTextImpl(const S& A, const S& B) {
  using U = std::make_unsigned_t<typename S::value_type>;
  const size_t n = A.size() < B.size() ? A.size() : B.size();
  for (size_t i = 0; i < n; ++i) {
    const Integer a = static_cast<U>(AsciiUpper(A[i])), b = static_cast<U>(AsciiUpper(B[i]));
    if (a != b) return a - b;
  }
  return A.size() < B.size() ? -1 : A.size() > B.size() ? 1 : 0;
}

// ---- Locale-aware case and collation -----------------------------------------

// The locale's language maps the dotted and dotless i apart (Turkish, Azeri).
bool TurkicCase() {
  const char* name = SystemLocaleICUName();
  return name != nullptr && (std::strncmp(name, "tr", 2) == 0 || std::strncmp(name, "az", 2) == 0) &&
         (name[2] == 0 || name[2] == '_' || name[2] == '-');
}

// Simple (one to one) case mapping of a code point, with the Turkic rules.
UChar32 UpperOf(UChar32 c, bool Turkic) {
  if (Turkic && c == u'i') return 0x0130;
  return u_toupper(c);
}
UChar32 LowerOf(UChar32 c, bool Turkic) {
  if (Turkic && c == u'I') return 0x0131;
  if (Turkic && c == 0x0130) return u'i';
  return u_tolower(c);
}

// Maps code point by code point; a mapping that would change the number of
// code units (never for the simple mappings) leaves the character as it is.
String MapCase(const String& S, bool Upper) {
  const bool turkic = TurkicCase();
  String out(S);
  const int32_t n = static_cast<int32_t>(S.size());
  int32_t i = 0;
  while (i < n) {
    const int32_t start = i;
    UChar32 c;
    U16_NEXT(S.data(), i, n, c);
    const UChar32 m = Upper ? UpperOf(c, turkic) : LowerOf(c, turkic);
    if (m == c || U16_LENGTH(m) != i - start) continue;
    if (U16_LENGTH(m) == 1) {
      out[static_cast<size_t>(start)] = static_cast<Char>(m);
    } else {
      out[static_cast<size_t>(start)] = U16_LEAD(m);
      out[static_cast<size_t>(start) + 1] = U16_TRAIL(m);
    }
  }
  return out;
}

struct TCollatorCloser {
  void operator()(UCollator* c) const { ucol_close(c); }
};
using TCollatorPtr = std::unique_ptr<UCollator, TCollatorCloser>;

// One collator per locale and strength, per thread (a collator is not shared
// between threads). The last one used is kept at hand: sorting calls this for
// every comparison.
UCollator* CollatorFor(const std::string& Locale, bool IgnoreCase) {
  struct TLast {
    std::string Locale;
    UCollator* Collator = nullptr;
  };
  thread_local std::map<std::string, TCollatorPtr> cache[2];
  thread_local TLast last[2];
  TLast& hit = last[IgnoreCase ? 1 : 0];
  if (hit.Collator != nullptr && hit.Locale == Locale) return hit.Collator;
  auto& byLocale = cache[IgnoreCase ? 1 : 0];
  auto it = byLocale.find(Locale);
  if (it == byLocale.end()) {
    UErrorCode err = U_ZERO_ERROR;
    UCollator* c = ucol_open(Locale.c_str(), &err);
    if (U_FAILURE(err) || c == nullptr) {
      err = U_ZERO_ERROR;
      c = ucol_open("", &err);
      if (U_FAILURE(err) || c == nullptr) return nullptr;
    }
    // Secondary strength ignores case but keeps accents, as NORM_IGNORECASE.
    ucol_setStrength(c, IgnoreCase ? UCOL_SECONDARY : UCOL_TERTIARY);
    it = byLocale.emplace(Locale, TCollatorPtr(c)).first;
  }
  hit.Locale = Locale;
  hit.Collator = it->second.get();
  return hit.Collator;
}

// The ICU locale of a locale id; the user and system default mean the
// system locale.
std::string IcuLocaleOf(Cardinal Locale) {
  if (Locale == 0 || Locale == LOCALE_USER_DEFAULT || Locale == LOCALE_SYSTEM_DEFAULT) {
    const char* name = SystemLocaleICUName();
    return name != nullptr ? name : "";
  }
  if (Locale == 0x007F) return "";  // the invariant locale
  char buf[ULOC_FULLNAME_CAPACITY] = {};
  UErrorCode err = U_ZERO_ERROR;
  uloc_getLocaleForLCID(Locale, buf, sizeof buf, &err);
  return U_SUCCESS(err) ? buf : "";
}

// < 0, 0, > 0 by the collation of the locale.
Integer Collate(const std::string& Locale, bool IgnoreCase, const Char* A, size_t LenA, const Char* B,
                size_t LenB) {
  UCollator* c = CollatorFor(Locale, IgnoreCase);
  if (c == nullptr || LenA > static_cast<size_t>(MaxInt) || LenB > static_cast<size_t>(MaxInt)) {
    const String a(A, LenA), b(B, LenB);
    return a < b ? -1 : a > b ? 1 : 0;
  }
  switch (ucol_strcoll(c, reinterpret_cast<const UChar*>(A), static_cast<int32_t>(LenA),
                       reinterpret_cast<const UChar*>(B), static_cast<int32_t>(LenB))) {
    case UCOL_LESS:
      return -1;
    case UCOL_GREATER:
      return 1;
    default:
      return 0;
  }
}

Integer CollateUser(bool IgnoreCase, const String& A, const String& B) {
  return Collate(IcuLocaleOf(0), IgnoreCase, A.data(), A.size(), B.data(), B.size());
}

size_t StrLen(const Char* S) {
  size_t n = 0;
  while (S[n] != 0) ++n;
  return n;
}

}  // namespace

// ---- Length and positions ---------------------------------------------------

Integer Length(const String& S) { return static_cast<Integer>(S.size()); }
Integer Length(const AnsiString& S) { return static_cast<Integer>(S.size()); }

String Copy(const String& S, Integer Index, Integer Count) { return CopyImpl(S, Index, Count); }
AnsiString Copy(const AnsiString& S, Integer Index, Integer Count) { return CopyImpl(S, Index, Count); }
String Copy(const String& S, Integer Index) { return CopyImpl(S, Index, MaxInt); }
AnsiString Copy(const AnsiString& S, Integer Index) { return CopyImpl(S, Index, MaxInt); }

Integer Pos(const String& SubStr, const String& S) { return PosImpl(SubStr, S, 1); }
Integer Pos(Char C, const String& S) { return PosImpl(String(1, C), S, 1); }
Integer Pos(const AnsiString& SubStr, const AnsiString& S) { return PosImpl(SubStr, S, 1); }
Integer Pos(AnsiChar C, const AnsiString& S) { return PosImpl(AnsiString(1, C), S, 1); }
Integer PosEx(const String& SubStr, const String& S, Integer Offset) { return PosImpl(SubStr, S, Offset); }
Integer PosEx(const AnsiString& SubStr, const AnsiString& S, Integer Offset) {
  return PosImpl(SubStr, S, Offset);
}

void Delete(String& S, Integer Index, Integer Count) { DeleteImpl(S, Index, Count); }
void Delete(AnsiString& S, Integer Index, Integer Count) { DeleteImpl(S, Index, Count); }
void Insert(const String& Source, String& S, Integer Index) { InsertImpl(Source, S, Index); }
void Insert(const AnsiString& Source, AnsiString& S, Integer Index) { InsertImpl(Source, S, Index); }

void SetLength(String& S, Integer NewLength) { S.resize(NewLength > 0 ? static_cast<size_t>(NewLength) : 0); }
void SetLength(AnsiString& S, Integer NewLength) {
  S.resize(NewLength > 0 ? static_cast<size_t>(NewLength) : 0);
}

String StringOfChar(Char C, Integer Count) {
  return Count > 0 ? String(static_cast<size_t>(Count), C) : String();
}
AnsiString StringOfChar(AnsiChar C, Integer Count) {
  return Count > 0 ? AnsiString(static_cast<size_t>(Count), C) : AnsiString();
}

String Trim(const String& S) { return TrimImpl(S, true, true); }
String TrimLeft(const String& S) { return TrimImpl(S, true, false); }
String TrimRight(const String& S) { return TrimImpl(S, false, true); }
AnsiString Trim(const AnsiString& S) { return TrimImpl(S, true, true); }
AnsiString TrimLeft(const AnsiString& S) { return TrimImpl(S, true, false); }
AnsiString TrimRight(const AnsiString& S) { return TrimImpl(S, false, true); }

// ---- Ordinal, ASCII-only case -------------------------------------------------

Char UpCase(Char C) { return AsciiUpper(C); }

String UpperCase(const String& S) {
  String r(S);
  for (Char& c : r) c = AsciiUpper(c);
  return r;
}
String LowerCase(const String& S) {
  String r(S);
  for (Char& c : r) c = AsciiLower(c);
  return r;
}
AnsiString UpperCase(const AnsiString& S) {
  AnsiString r(S);
  for (AnsiChar& c : r) c = AsciiUpper(c);
  return r;
}
AnsiString LowerCase(const AnsiString& S) {
  AnsiString r(S);
  for (AnsiChar& c : r) c = AsciiLower(c);
  return r;
}

Integer CompareStr(const String& S1, const String& S2) {
  const size_t n = S1.size() < S2.size() ? S1.size() : S2.size();
  for (size_t i = 0; i < n; ++i)
    if (S1[i] != S2[i]) return static_cast<Integer>(S1[i]) - static_cast<Integer>(S2[i]);
  return S1.size() < S2.size() ? -1 : S1.size() > S2.size() ? 1 : 0;
}
Integer CompareText(const String& S1, const String& S2) { return CompareTextImpl(S1, S2); }
Integer CompareText(const AnsiString& S1, const AnsiString& S2) { return CompareTextImpl(S1, S2); }
Boolean SameStr(const String& S1, const String& S2) { return S1 == S2; }
Boolean SameText(const String& S1, const String& S2) {
  return S1.size() == S2.size() && CompareText(S1, S2) == 0;
}
Boolean SameText(const AnsiString& S1, const AnsiString& S2) {
  return S1.size() == S2.size() && CompareText(S1, S2) == 0;
}

// ---- Locale-aware ----------------------------------------------------------------

Char AnsiUpperChar(Char C) {
  if (U16_IS_SURROGATE(C)) return C;
  return static_cast<Char>(UpperOf(C, TurkicCase()));
}
Char AnsiLowerChar(Char C) {
  if (U16_IS_SURROGATE(C)) return C;
  return static_cast<Char>(LowerOf(C, TurkicCase()));
}
String AnsiUpperCase(const String& S) { return MapCase(S, true); }
String AnsiLowerCase(const String& S) { return MapCase(S, false); }

namespace {
// Single-unit upper cases of 0x80 .. 0x7FF; a code point whose upper case
// takes two units stays, as AtSlow does.
struct TUpperTable {
  Char Units[0x800 - 0x80];
  explicit TUpperTable(bool ATurkic) {
    for (UChar32 C = 0x80; C < 0x800; ++C) {
      const UChar32 M = UpperOf(C, ATurkic);
      Units[C - 0x80] = U16_LENGTH(M) == 1 ? static_cast<Char>(M) : static_cast<Char>(C);
    }
  }
};

const TUpperTable& UpperTable(bool ATurkic) {
  static const TUpperTable Plain(false), Turkic(true);
  return ATurkic ? Turkic : Plain;
}
}  // namespace

TAnsiUpperCaseUnits::TAnsiUpperCaseUnits() : FTurkic(TurkicCase()) { UpperTable(FTurkic); }

// As MapCase: a surrogate pair maps as one code point, and a code point
// whose upper case takes another number of code units stays.
Char TAnsiUpperCaseUnits::AtSlow(const Char* S, size_t ALength, size_t AIndex) const {
  const Char C = S[AIndex];
  if (C < 0x800) return UpperTable(FTurkic).Units[C - 0x80];
  if (!U16_IS_SURROGATE(C)) {
    const UChar32 M = UpperOf(C, FTurkic);
    return U16_LENGTH(M) == 1 ? static_cast<Char>(M) : C;
  }
  if (U16_IS_LEAD(C)) {
    if (AIndex + 1 >= ALength || !U16_IS_TRAIL(S[AIndex + 1])) return C;
    const UChar32 M = UpperOf(U16_GET_SUPPLEMENTARY(C, S[AIndex + 1]), FTurkic);
    return U16_LENGTH(M) == 2 ? U16_LEAD(M) : C;
  }
  if (AIndex == 0 || !U16_IS_LEAD(S[AIndex - 1])) return C;
  const UChar32 M = UpperOf(U16_GET_SUPPLEMENTARY(S[AIndex - 1], C), FTurkic);
  return U16_LENGTH(M) == 2 ? U16_TRAIL(M) : C;
}

Integer AnsiCompareStr(const String& S1, const String& S2) { return CollateUser(false, S1, S2); }
Integer AnsiCompareText(const String& S1, const String& S2) { return CollateUser(true, S1, S2); }
namespace {

// Appends the sort key of the text without its terminating zero byte (not
// part of the order); without a collator, the fallback order of Collate:
// code units, big-endian so that bytes agree.
size_t AppendSortKey(const UCollator* c, const Char* S, size_t Len, std::string& Keys) {
  const size_t Start = Keys.size();
  if (c == nullptr || Len > static_cast<size_t>(MaxInt)) {
    for (size_t I = 0; I < Len; ++I) {
      Keys.push_back(static_cast<char>(S[I] >> 8));
      Keys.push_back(static_cast<char>(S[I] & 0xFF));
    }
    return Keys.size() - Start;
  }
  const auto* Text = reinterpret_cast<const UChar*>(S);
  const auto TextLen = static_cast<int32_t>(Len);
  auto Room = static_cast<int32_t>(std::min<size_t>(Len * 4 + 16, MaxInt));
  Keys.resize(Start + static_cast<size_t>(Room));
  int32_t Need = ucol_getSortKey(c, Text, TextLen, reinterpret_cast<uint8_t*>(Keys.data() + Start), Room);
  if (Need > Room) {
    Keys.resize(Start + static_cast<size_t>(Need));
    Need = ucol_getSortKey(c, Text, TextLen, reinterpret_cast<uint8_t*>(Keys.data() + Start), Need);
  }
  Keys.resize(Start + (Need > 0 ? static_cast<size_t>(Need - 1) : 0));
  return Keys.size() - Start;
}

}  // namespace

std::string AnsiCollationKey(const String& S, Boolean AIgnoreCase) {
  std::string Key;
  AppendSortKey(CollatorFor(IcuLocaleOf(0), AIgnoreCase), S.data(), S.size(), Key);
  return Key;
}

TAnsiCollationKeyBuilder::TAnsiCollationKeyBuilder(Boolean AIgnoreCase) {
  const std::string Locale = IcuLocaleOf(0);
  FName = Locale + (AIgnoreCase ? "/secondary" : "/tertiary");
  // Without a collator at all the comparison falls back to code units, and
  // so do the keys.
  if (UCollator* c = CollatorFor(Locale, AIgnoreCase)) {
    UErrorCode err = U_ZERO_ERROR;
    FCollator = ucol_clone(c, &err);
    // Without a copy the keys would follow another order: refuse instead.
    if (U_FAILURE(err) || FCollator == nullptr) {
      if (FCollator != nullptr) ucol_close(FCollator);
      throw std::bad_alloc();
    }
  } else {
    FName += "/codeunits";
  }
}

TAnsiCollationKeyBuilder::TAnsiCollationKeyBuilder(const TAnsiCollationKeyBuilder& ASource) : FName(ASource.FName) {
  if (ASource.FCollator == nullptr) return;
  UErrorCode err = U_ZERO_ERROR;
  FCollator = ucol_clone(ASource.FCollator, &err);
  if (U_FAILURE(err) || FCollator == nullptr) {
    if (FCollator != nullptr) ucol_close(FCollator);
    throw std::bad_alloc();
  }
}

TAnsiCollationKeyBuilder::~TAnsiCollationKeyBuilder() {
  if (FCollator != nullptr) ucol_close(FCollator);
}

size_t TAnsiCollationKeyBuilder::Append(const Char* AText, size_t ALength, std::string& AKeys) const {
  return AppendSortKey(FCollator, AText, ALength, AKeys);
}

Boolean AnsiSameStr(const String& S1, const String& S2) { return AnsiCompareStr(S1, S2) == 0; }
Boolean AnsiSameText(const String& S1, const String& S2) { return AnsiCompareText(S1, S2) == 0; }

Integer AnsiStrComp(const Char* S1, const Char* S2) {
  return Collate(IcuLocaleOf(0), false, S1, StrLen(S1), S2, StrLen(S2));
}
Integer AnsiStrIComp(const Char* S1, const Char* S2) {
  return Collate(IcuLocaleOf(0), true, S1, StrLen(S1), S2, StrLen(S2));
}
Integer AnsiStrLIComp(const Char* S1, const Char* S2, Cardinal MaxLen) {
  size_t n1 = 0, n2 = 0;
  while (n1 < MaxLen && S1[n1] != 0) ++n1;
  while (n2 < MaxLen && S2[n2] != 0) ++n2;
  return Collate(IcuLocaleOf(0), true, S1, n1, S2, n2);
}

Integer AnsiPos(const String& SubStr, const String& S) { return Pos(SubStr, S); }

Boolean StartsText(const String& SubText, const String& Text) {
  if (SubText.size() > Text.size()) return false;
  return Collate(IcuLocaleOf(0), true, Text.data(), SubText.size(), SubText.data(), SubText.size()) == 0;
}
Boolean EndsText(const String& SubText, const String& Text) {
  if (SubText.size() > Text.size()) return false;
  return Collate(IcuLocaleOf(0), true, Text.data() + (Text.size() - SubText.size()), SubText.size(),
                 SubText.data(), SubText.size()) == 0;
}
Boolean ContainsText(const String& Text, const String& SubText) {
  return SubText.empty() || Pos(AnsiUpperCase(SubText), AnsiUpperCase(Text)) > 0;
}
Boolean StartsStr(const String& SubText, const String& Text) {
  return Text.compare(0, SubText.size(), SubText) == 0;
}
Boolean EndsStr(const String& SubText, const String& Text) {
  return SubText.size() <= Text.size() &&
         Text.compare(Text.size() - SubText.size(), SubText.size(), SubText) == 0;
}
Boolean ContainsStr(const String& Text, const String& SubText) { return Text.find(SubText) != String::npos; }

Integer CompareStringW(Cardinal Locale, Cardinal Flags, const Char* S1, Integer Len1, const Char* S2,
                       Integer Len2) {
  if (S1 == nullptr || S2 == nullptr || Len1 < -1 || Len2 < -1 || (Flags & ~NORM_IGNORECASE) != 0) return 0;
  const size_t n1 = Len1 == -1 ? StrLen(S1) : static_cast<size_t>(Len1);
  const size_t n2 = Len2 == -1 ? StrLen(S2) : static_cast<size_t>(Len2);
  const Integer r = Collate(IcuLocaleOf(Locale), (Flags & NORM_IGNORECASE) != 0, S1, n1, S2, n2);
  return r < 0 ? CSTR_LESS_THAN : r > 0 ? CSTR_GREATER_THAN : CSTR_EQUAL;
}

// ---- Replace, quote, identifiers, delimiters ----------------------------------------

String StringReplace(const String& S, const String& OldPattern, const String& NewPattern,
                     TReplaceFlags Flags) {
  if (OldPattern.empty()) return S;
  const bool ignoreCase = (Flags & rfIgnoreCase) != 0;
  // The upper-case copies keep every position, since the mapping is one to one.
  const String search = ignoreCase ? AnsiUpperCase(S) : String();
  const String pattern = ignoreCase ? AnsiUpperCase(OldPattern) : OldPattern;
  const String& hay = ignoreCase ? search : S;
  String out;
  size_t from = 0;
  while (from <= hay.size()) {
    const size_t p = hay.find(pattern, from);
    if (p == String::npos) break;
    out.append(S, from, p - from);
    out += NewPattern;
    from = p + pattern.size();
    if ((Flags & rfReplaceAll) == 0) break;
  }
  out.append(S, from, String::npos);
  return out;
}

String QuotedStr(const String& S) { return AnsiQuotedStr(S, u'\''); }

String AnsiQuotedStr(const String& S, Char Quote) {
  String r;
  r.reserve(S.size() + 2);
  r += Quote;
  for (Char c : S) {
    r += c;
    if (c == Quote) r += c;
  }
  r += Quote;
  return r;
}

String AnsiDequotedStr(const String& S, Char Quote) {
  // The quoted text ends at the closing quote or at a NUL; an empty result
  // (no opening quote, or '') gives back S unchanged.
  String r;
  if (!S.empty() && S[0] == Quote) {
    size_t i = 1;
    while (i < S.size() && S[i] != 0) {
      if (S[i] == Quote) {
        ++i;
        if (i >= S.size() || S[i] != Quote) break;
      }
      r += S[i];
      ++i;
    }
  }
  return r.empty() ? S : r;
}

Boolean IsValidIdent(const String& Ident, Boolean AllowDots) {
  const auto alpha = [](Char c) { return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || c == u'_'; };
  const auto alnum = [&](Char c) { return alpha(c) || (c >= u'0' && c <= u'9'); };
  bool start = true;
  for (Char c : Ident) {
    if (start) {
      if (!alpha(c)) return false;
      start = false;
    } else if (c == u'.' && AllowDots) {
      start = true;
    } else if (!alnum(c)) {
      return false;
    }
  }
  return !start;
}

Integer LastDelimiter(const String& Delimiters, const String& S) {
  for (size_t i = S.size(); i > 0; --i)
    if (Delimiters.find(S[i - 1]) != String::npos) return static_cast<Integer>(i);
  return 0;
}

Boolean IsDelimiter(const String& Delimiters, const String& S, Integer Index) {
  if (Index < 1 || static_cast<Int64>(Index) > static_cast<Int64>(S.size())) return false;
  return Delimiters.find(S[static_cast<size_t>(Index) - 1]) != String::npos;
}

// ---- Character classification -----------------------------------------------------

Word CharTypeFlags(Char C) {
  const int8_t type = u_charType(C);
  if (type == U_UNASSIGNED) return 0;
  Word f = C1_DEFINED;
  switch (type) {
    case U_UPPERCASE_LETTER:
      f |= C1_UPPER | C1_ALPHA;
      break;
    case U_LOWERCASE_LETTER:
      f |= C1_LOWER | C1_ALPHA;
      break;
    case U_TITLECASE_LETTER:
    case U_MODIFIER_LETTER:
    case U_OTHER_LETTER:
      f |= C1_ALPHA;
      break;
    case U_DECIMAL_DIGIT_NUMBER:
      f |= C1_DIGIT;
      break;
    case U_CONTROL_CHAR:
      f |= C1_CNTRL;
      break;
    case U_SPACE_SEPARATOR:
      f |= C1_SPACE | C1_BLANK;
      break;
    case U_LINE_SEPARATOR:
    case U_PARAGRAPH_SEPARATOR:
      f |= C1_SPACE;
      break;
    case U_DASH_PUNCTUATION:
    case U_START_PUNCTUATION:
    case U_END_PUNCTUATION:
    case U_CONNECTOR_PUNCTUATION:
    case U_OTHER_PUNCTUATION:
    case U_INITIAL_PUNCTUATION:
    case U_FINAL_PUNCTUATION:
    case U_MATH_SYMBOL:
    case U_CURRENCY_SYMBOL:
    case U_MODIFIER_SYMBOL:
    case U_OTHER_SYMBOL:
      f |= C1_PUNCT;
      break;
    default:
      break;
  }
  if ((C >= 0x09 && C <= 0x0D) || C == 0x85) f |= C1_SPACE;
  if (C == 0x09) f |= C1_BLANK;
  if ((C >= u'0' && C <= u'9') || (C >= u'A' && C <= u'F') || (C >= u'a' && C <= u'f') ||
      (C >= 0xFF10 && C <= 0xFF19) || (C >= 0xFF21 && C <= 0xFF26) || (C >= 0xFF41 && C <= 0xFF46))
    f |= C1_XDIGIT;
  return f;
}

BOOL GetStringTypeW(Cardinal InfoType, const Char* Src, Integer Count, Word* CharType) {
  if (InfoType != CT_CTYPE1 || Src == nullptr || CharType == nullptr || Count == 0 || Count < -1) return 0;
  const size_t n = Count == -1 ? StrLen(Src) + 1 : static_cast<size_t>(Count);
  for (size_t i = 0; i < n; ++i) CharType[i] = CharTypeFlags(Src[i]);
  return 1;
}

BOOL IsCharAlphaW(Char C) { return (CharTypeFlags(C) & C1_ALPHA) != 0; }
BOOL IsCharAlphaNumericW(Char C) { return (CharTypeFlags(C) & (C1_ALPHA | C1_DIGIT)) != 0; }
BOOL IsCharUpperW(Char C) { return (CharTypeFlags(C) & C1_UPPER) != 0; }
BOOL IsCharLowerW(Char C) { return (CharTypeFlags(C) & C1_LOWER) != 0; }

Char* CharNextW(const Char* P) {
  Char* p = const_cast<Char*>(P);
  if (p == nullptr || *p == 0) return p;
  if (U16_IS_LEAD(p[0]) && U16_IS_TRAIL(p[1])) return p + 2;
  return p + 1;
}

// ---- Accelerator text -------------------------------------------------------------

String GetHotkey(const String& Text) {
  // The last marked character wins.
  String r;
  for (size_t i = 0; i < Text.size(); ++i) {
    if (Text[i] == cHotkey && i + 1 < Text.size()) {
      ++i;
      if (Text[i] != cHotkey) r = String(1, Text[i]);
    }
  }
  return r;
}

Boolean IsAccel(Word VK, const String& Str) {
  const String key = GetHotkey(Str);
  return !key.empty() && AnsiCompareText(String(1, static_cast<Char>(VK)), key) == 0;
}

String RemoveAccelChars(const String& Text, Boolean TrailingToUnderscore) {
  String r;
  r.reserve(Text.size());
  for (size_t i = 0; i < Text.size(); ++i) {
    if (Text[i] != cHotkey) {
      r += Text[i];
    } else if (i + 1 < Text.size()) {
      r += Text[++i];
    } else if (TrailingToUnderscore) {
      r += u'_';
    }
  }
  return r;
}

String StripHotkey(const String& Text) { return RemoveAccelChars(Text, false); }
