// String routines with 1-based positions, case mapping and comparison,
// character classification and accelerator text.
//
// Two families: UpperCase, LowerCase, CompareStr, CompareText, SameText and
// the other routines without "Ansi" are ordinal and fold only 'a'..'z'. The
// Ansi routines follow the system locale (platform/rtl/Locale.h): case
// mapping per character with the locale's rules (Turkish dotted and dotless
// i), comparison through the locale's collation.
#pragma once

#include "platform/rtl/Types.h"

// ---- Length and positions (1-based) ----------------------------------------

Integer Length(const String& S);
Integer Length(const AnsiString& S);

// Characters Index .. Index + Count - 1. An Index below 1 counts as 1 (the
// count is kept), an Index past the end or a Count below 1 gives "", a Count
// past the end stops at the end.
String Copy(const String& S, Integer Index, Integer Count);
AnsiString Copy(const AnsiString& S, Integer Index, Integer Count);
// From Index to the end.
String Copy(const String& S, Integer Index);
AnsiString Copy(const AnsiString& S, Integer Index);

// Position of the first SubStr in S, 0 when absent or SubStr is empty.
Integer Pos(const String& SubStr, const String& S);
Integer Pos(Char C, const String& S);
Integer Pos(const AnsiString& SubStr, const AnsiString& S);
Integer Pos(AnsiChar C, const AnsiString& S);
// The same from position Offset; 0 when Offset is below 1 or past the end.
Integer PosEx(const String& SubStr, const String& S, Integer Offset = 1);
Integer PosEx(const AnsiString& SubStr, const AnsiString& S, Integer Offset = 1);

// Removes Count characters from Index; nothing for an Index outside 1..Length
// or a Count below 1.
void Delete(String& S, Integer Index, Integer Count);
void Delete(AnsiString& S, Integer Index, Integer Count);
// Inserts Source before Index: below 1 inserts at the start, past the end
// appends.
void Insert(const String& Source, String& S, Integer Index);
void Insert(const AnsiString& Source, AnsiString& S, Integer Index);

// New characters are zero; a negative length empties the string.
void SetLength(String& S, Integer NewLength);
void SetLength(AnsiString& S, Integer NewLength);

String StringOfChar(Char C, Integer Count);
AnsiString StringOfChar(AnsiChar C, Integer Count);

// Remove leading and/or trailing characters <= ' ' (spaces and controls).
String Trim(const String& S);
String TrimLeft(const String& S);
String TrimRight(const String& S);
AnsiString Trim(const AnsiString& S);
AnsiString TrimLeft(const AnsiString& S);
AnsiString TrimRight(const AnsiString& S);

// ---- Ordinal, ASCII-only case ----------------------------------------------

Char UpCase(Char C);  // 'a'..'z' only
String UpperCase(const String& S);
String LowerCase(const String& S);
AnsiString UpperCase(const AnsiString& S);
AnsiString LowerCase(const AnsiString& S);
// Code-unit comparison: < 0, 0 or > 0 (the difference of the first unequal
// characters; a prefix sorts first).
Integer CompareStr(const String& S1, const String& S2);
// As CompareStr after folding 'a'..'z' to upper case.
Integer CompareText(const String& S1, const String& S2);
Integer CompareText(const AnsiString& S1, const AnsiString& S2);
Boolean SameStr(const String& S1, const String& S2);
Boolean SameText(const String& S1, const String& S2);
Boolean SameText(const AnsiString& S1, const AnsiString& S2);

// ---- Locale-aware (system locale) ------------------------------------------

// One character for one character (the length never changes), by the
// locale's rules: under Turkish i -> İ, ı -> I, I -> ı, İ -> i.
Char AnsiUpperChar(Char C);
Char AnsiLowerChar(Char C);
String AnsiUpperCase(const String& S);
String AnsiLowerCase(const String& S);
// The code units of AnsiUpperCase of a text one at a time, without building
// the upper-cased text: At gives AnsiUpperCase(S)[AIndex] for a text S of
// ALength code units. The locale's rules are taken when created.
class TAnsiUpperCaseUnits {
 public:
  TAnsiUpperCaseUnits();
  Char At(const Char* S, size_t ALength, size_t AIndex) const {
    const Char C = S[AIndex];
    if (C >= 0x80) return AtSlow(S, ALength, AIndex);
    if (C < u'a' || C > u'z') return C;
    return FTurkic && C == u'i' ? Char(0x0130) : Char(C - 32);
  }

 private:
  Char AtSlow(const Char* S, size_t ALength, size_t AIndex) const;
  Boolean FTurkic;
};
// Collation of the user locale: < 0, 0 or > 0. CompareStr distinguishes case
// (lower case first), CompareText ignores it but not accents.
Integer AnsiCompareStr(const String& S1, const String& S2);
Integer AnsiCompareText(const String& S1, const String& S2);
Boolean AnsiSameStr(const String& S1, const String& S2);
Boolean AnsiSameText(const String& S1, const String& S2);
Integer AnsiStrComp(const Char* S1, const Char* S2);
Integer AnsiStrIComp(const Char* S1, const Char* S2);
// Compares at most MaxLen characters of each, ignoring case.
Integer AnsiStrLIComp(const Char* S1, const Char* S2, Cardinal MaxLen);
// Pos, with the name the locale-aware callers use.
Integer AnsiPos(const String& SubStr, const String& S);

// Starts/ends/contains, ignoring case by the locale (Text) or exactly (Str).
Boolean StartsText(const String& SubText, const String& Text);
Boolean EndsText(const String& SubText, const String& Text);
Boolean ContainsText(const String& Text, const String& SubText);
Boolean StartsStr(const String& SubText, const String& Text);
Boolean EndsStr(const String& SubText, const String& Text);
Boolean ContainsStr(const String& Text, const String& SubText);

// ---- Replace, quote, identifiers, delimiters -------------------------------

enum TReplaceFlag : Byte { rfReplaceAll = 0x01, rfIgnoreCase = 0x02 };
using TReplaceFlags = Byte;  // a combination of TReplaceFlag bits
// Replaces the first (or with rfReplaceAll every) OldPattern by NewPattern;
// rfIgnoreCase matches through the locale's upper case.
String StringReplace(const String& S, const String& OldPattern, const String& NewPattern,
                     TReplaceFlags Flags);

// 'text' with every ' doubled.
String QuotedStr(const String& S);
// The same with any Quote character.
String AnsiQuotedStr(const String& S, Char Quote);
// Removes the quotes of a quoted text and undoubles the inner quotes; a text
// that does not start with Quote is returned unchanged. Text after the
// closing quote is dropped.
String AnsiDequotedStr(const String& S, Char Quote);
// A Pascal identifier: a letter or '_' then letters, digits or '_' (ASCII);
// with AllowDots, dot-separated identifiers.
Boolean IsValidIdent(const String& Ident, Boolean AllowDots = false);
// The 1-based index of the last character of S that occurs in Delimiters, 0
// when none.
Integer LastDelimiter(const String& Delimiters, const String& S);
// Whether S[Index] is one of Delimiters (false for an Index outside S).
Boolean IsDelimiter(const String& Delimiters, const String& S, Integer Index);

// ---- Character classification ----------------------------------------------

// The CT_CTYPE1 flags (C1_*) of one UTF-16 code unit.
Word CharTypeFlags(Char C);

// ---- Accelerator text -------------------------------------------------------

constexpr Char cHotkey = u'&';
// The accelerator character of a caption ("&File" -> "F"), "" when none;
// "&&" is a literal ampersand.
String GetHotkey(const String& Text);
// Whether the key (a character code) is the caption's accelerator, compared
// as AnsiCompareText does (case ignored by the locale's rules).
Boolean IsAccel(Word VK, const String& Str);
// "&" + c gives c, "&&" gives "&", a final single "&" becomes "_" with
// TrailingToUnderscore and is dropped otherwise.
String RemoveAccelChars(const String& Text, Boolean TrailingToUnderscore = false);
String StripHotkey(const String& Text);

// ---- The Win32-shaped functions of this area -------------------------------
// Global, like GetACP in Locale.h; platform/win does not declare them again.

// CompareStringW for a locale (LOCALE_USER_DEFAULT, LOCALE_SYSTEM_DEFAULT or a
// locale id). Flags: 0 or NORM_IGNORECASE. Lengths of -1 mean NUL-terminated.
// Returns CSTR_LESS_THAN, CSTR_EQUAL, CSTR_GREATER_THAN, or 0 on bad
// arguments.
constexpr Cardinal NORM_IGNORECASE = 0x00000001;
constexpr Integer CSTR_LESS_THAN = 1;
constexpr Integer CSTR_EQUAL = 2;
constexpr Integer CSTR_GREATER_THAN = 3;
Integer CompareStringW(Cardinal Locale, Cardinal Flags, const Char* S1, Integer Len1, const Char* S2,
                       Integer Len2);

constexpr Cardinal CT_CTYPE1 = 0x0001;
constexpr Word C1_UPPER = 0x0001;
constexpr Word C1_LOWER = 0x0002;
constexpr Word C1_DIGIT = 0x0004;
constexpr Word C1_SPACE = 0x0008;
constexpr Word C1_PUNCT = 0x0010;
constexpr Word C1_CNTRL = 0x0020;
constexpr Word C1_BLANK = 0x0040;
constexpr Word C1_XDIGIT = 0x0080;
constexpr Word C1_ALPHA = 0x0100;
constexpr Word C1_DEFINED = 0x0200;

// GetStringTypeW(CT_CTYPE1): one Word of flags per code unit (Count -1 means
// NUL-terminated, the NUL included). Other info types, a null pointer or a
// Count of 0 or below -1 fail (FALSE).
BOOL GetStringTypeW(Cardinal InfoType, const Char* Src, Integer Count, Word* CharType);

BOOL IsCharAlphaW(Char C);
BOOL IsCharAlphaNumericW(Char C);
BOOL IsCharUpperW(Char C);
BOOL IsCharLowerW(Char C);

// The next character: a surrogate pair counts as one; at the terminating NUL
// the same pointer.
Char* CharNextW(const Char* P);

// ---- Short strings -------------------------------------------------------------

// string[N]: a length byte then N bytes of text in the system code page, laid
// out as in records that reach files and devices (sizeof == N + 1). A length
// byte above N (from foreign data) reads as N.
template <unsigned N>
struct TShortString {
  static_assert(N >= 1 && N <= 255, "a short string holds 1 to 255 bytes");

  Byte Len = 0;
  AnsiChar Data[N] = {};

  TShortString() = default;
  TShortString(const AnsiString& S) { Assign(S); }  // cut to N bytes
  TShortString& operator=(const AnsiString& S) {
    Assign(S);
    return *this;
  }

  static constexpr Integer MaxLength() { return static_cast<Integer>(N); }
  Integer Length() const { return Len <= N ? Len : static_cast<Integer>(N); }
  AnsiString ToAnsi() const { return AnsiString(Data, static_cast<size_t>(Length())); }
  operator AnsiString() const { return ToAnsi(); }

  void Assign(const AnsiString& S) {
    const size_t n = S.size() < N ? S.size() : N;
    for (size_t i = 0; i < N; ++i) Data[i] = i < n ? S[i] : AnsiChar(0);
    Len = static_cast<Byte>(n);
  }

  friend bool operator==(const TShortString& A, const TShortString& B) { return A.ToAnsi() == B.ToAnsi(); }
};
