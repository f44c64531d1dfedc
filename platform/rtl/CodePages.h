// Text encodings: UTF-8 and UTF-16 conversions, and the code pages of
// 8-bit text with the system ANSI code page.
//
// A character that a code page cannot hold becomes "?" (no best-fit
// mapping); bytes that a page does not define also become "?". Code pages
// 1252 and 1254 use exact tables of this unit; the other pages use ICU
// converters.
#pragma once

#include <cstddef>

#include "platform/rtl/Types.h"

// UTF-8 <-> UTF-16. Ill-formed input becomes U+FFFD; nothing is dropped silently.
UTF8String UTF16ToUTF8(const String& S);
String UTF8ToUTF16(const UTF8String& S);

// ---- 8-bit text <-> String ---------------------------------------------------

// Bytes in the system ANSI code page (GetACP()) to String and back.
String AnsiToString(const AnsiString& S);
AnsiString StringToAnsi(const String& S);
// The same with an explicit code page (CP_ACP, CP_UTF8 or a page number). An
// unknown page gives "".
String AnsiToString(const RawByteString& S, Cardinal CodePage);
RawByteString StringToAnsi(const String& S, Cardinal CodePage);

// Whether the code page can be converted here (CP_ACP and the like count).
Boolean IsValidCodePage(Cardinal CodePage);
// The page number behind CP_ACP, CP_THREAD_ACP and CP_OEMCP; others unchanged.
Cardinal ResolveCodePage(Cardinal CodePage);

// ---- Text files: byte-order marks ---------------------------------------------

enum class TTextEncoding { Ansi, UTF8, UTF16LE, UTF16BE };

struct TDecodedText {
  String Text;
  TTextEncoding Encoding = TTextEncoding::Ansi;
  Integer BOMLength = 0;  // bytes of the mark that was found, 0 for none
};

// The mark at the start of Bytes: EF BB BF -> UTF8, FF FE -> UTF16LE,
// FE FF -> UTF16BE (BOMLength set); no mark -> Ansi, BOMLength 0.
TDecodedText DetectBOM(const RawByteString& Bytes);
// Decodes a whole text file: the mark is found by DetectBOM and not part of
// the text; text without a mark is ANSI in AnsiCodePage (CP_ACP = the
// system's). An odd last byte of UTF-16 becomes U+FFFD.
TDecodedText DecodeText(const RawByteString& Bytes, Cardinal AnsiCodePage = 0);
// Decodes bytes known to be in Encoding, looking for no mark: leading bytes
// that look like one are text (a stream's or a caller's stated encoding).
// Ansi uses AnsiCodePage (CP_ACP = the system's); an odd last byte of UTF-16
// becomes U+FFFD; ill-formed UTF-8 becomes U+FFFD.
String DecodeTextAs(const RawByteString& Bytes, TTextEncoding Encoding, Cardinal AnsiCodePage = 0);
String DecodeTextAs(const void* Data, size_t Size, TTextEncoding Encoding, Cardinal AnsiCodePage = 0);
// Encodes for saving: Ansi without a mark (in AnsiCodePage), UTF8 with EF BB
// BF, UTF16LE with FF FE, UTF16BE with FE FF; WriteBOM false leaves the mark out.
RawByteString EncodeText(const String& Text, TTextEncoding Encoding, Boolean WriteBOM = true,
                         Cardinal AnsiCodePage = 0);

// ---- The Win32-shaped functions of this area ------------------------------------
// Global, like GetACP in Locale.h; platform/win does not declare them again.

constexpr Cardinal CP_ACP = 0;
constexpr Cardinal CP_OEMCP = 1;
constexpr Cardinal CP_MACCP = 2;
constexpr Cardinal CP_THREAD_ACP = 3;
constexpr Cardinal CP_SYMBOL = 42;
constexpr Cardinal CP_UTF7 = 65000;
constexpr Cardinal CP_UTF8 = 65001;

constexpr Cardinal MB_PRECOMPOSED = 0x00000001;
constexpr Cardinal MB_COMPOSITE = 0x00000002;
constexpr Cardinal MB_USEGLYPHCHARS = 0x00000004;
constexpr Cardinal MB_ERR_INVALID_CHARS = 0x00000008;
constexpr Cardinal WC_COMPOSITECHECK = 0x00000200;
constexpr Cardinal WC_DEFAULTCHAR = 0x00000040;
constexpr Cardinal WC_NO_BEST_FIT_CHARS = 0x00000400;
constexpr Cardinal WC_ERR_INVALID_CHARS = 0x00000080;

// The platform's shape: Count -1 means NUL-terminated (the NUL is converted
// and counted); an output size of 0 asks for the size needed. Returns the
// units written (or needed), 0 on failure: unknown page, bad arguments, a
// buffer too small, or invalid input with MB_ERR_INVALID_CHARS /
// WC_ERR_INVALID_CHARS. MB_PRECOMPOSED is accepted on every page.
// DefaultChar (one byte; not with CP_UTF8) replaces "?"; UsedDefaultChar
// (not with CP_UTF8) tells whether any character was replaced.
Integer MultiByteToWideChar(Cardinal CodePage, Cardinal Flags, const char* MultiByteStr,
                            Integer MultiByteCount, Char* WideCharStr, Integer WideCharCount);
Integer WideCharToMultiByte(Cardinal CodePage, Cardinal Flags, const Char* WideCharStr, Integer WideCharCount,
                            char* MultiByteStr, Integer MultiByteCount, const char* DefaultChar,
                            BOOL* UsedDefaultChar);

// Whether the byte starts a two-byte character in the system code page
// (always false for the single-byte pages such as 1252 and 1254).
BOOL IsDBCSLeadByte(Byte TestChar);
BOOL IsDBCSLeadByteEx(Cardinal CodePage, Byte TestChar);

// Font character sets.
constexpr Byte ANSI_CHARSET = 0;
constexpr Byte DEFAULT_CHARSET = 1;
constexpr Byte SYMBOL_CHARSET = 2;
constexpr Byte MAC_CHARSET = 77;
constexpr Byte SHIFTJIS_CHARSET = 128;
constexpr Byte HANGEUL_CHARSET = 129;
constexpr Byte JOHAB_CHARSET = 130;
constexpr Byte GB2312_CHARSET = 134;
constexpr Byte CHINESEBIG5_CHARSET = 136;
constexpr Byte GREEK_CHARSET = 161;
constexpr Byte TURKISH_CHARSET = 162;
constexpr Byte VIETNAMESE_CHARSET = 163;
constexpr Byte HEBREW_CHARSET = 177;
constexpr Byte ARABIC_CHARSET = 178;
constexpr Byte BALTIC_CHARSET = 186;
constexpr Byte RUSSIAN_CHARSET = 204;
constexpr Byte THAI_CHARSET = 222;
constexpr Byte EASTEUROPE_CHARSET = 238;
constexpr Byte OEM_CHARSET = 255;

// Code-page bits of FONTSIGNATURE::fsCsb[0].
constexpr Cardinal FS_LATIN1 = 0x00000001;
constexpr Cardinal FS_LATIN2 = 0x00000002;
constexpr Cardinal FS_CYRILLIC = 0x00000004;
constexpr Cardinal FS_GREEK = 0x00000008;
constexpr Cardinal FS_TURKISH = 0x00000010;
constexpr Cardinal FS_HEBREW = 0x00000020;
constexpr Cardinal FS_ARABIC = 0x00000040;
constexpr Cardinal FS_BALTIC = 0x00000080;
constexpr Cardinal FS_VIETNAMESE = 0x00000100;
constexpr Cardinal FS_THAI = 0x00010000;
constexpr Cardinal FS_JISJAPAN = 0x00020000;
constexpr Cardinal FS_CHINESESIMP = 0x00040000;
constexpr Cardinal FS_WANSUNG = 0x00080000;
constexpr Cardinal FS_CHINESETRAD = 0x00100000;
constexpr Cardinal FS_JOHAB = 0x00200000;
constexpr Cardinal FS_SYMBOL = 0x80000000;

struct FONTSIGNATURE {
  Cardinal fsUsb[4] = {};
  Cardinal fsCsb[2] = {};
};

struct CHARSETINFO {
  Cardinal ciCharset = 0;
  Cardinal ciACP = 0;
  FONTSIGNATURE fs;
};

constexpr Cardinal TCI_SRCCHARSET = 1;
constexpr Cardinal TCI_SRCCODEPAGE = 2;
constexpr Cardinal TCI_SRCFONTSIG = 3;

// As on the platform, the source value travels in the pointer itself for
// TCI_SRCCHARSET and TCI_SRCCODEPAGE (a charset or page number cast to a
// pointer); for TCI_SRCFONTSIG it points at fsCsb. FALSE when the source has
// no code page: DEFAULT_CHARSET, MAC_CHARSET, OEM_CHARSET and unknown values.
BOOL TranslateCharsetInfo(Cardinal* Src, CHARSETINFO* Cs, Cardinal Flags);

// The ANSI code page of a font character set: what TranslateCharsetInfo
// reports, else (DEFAULT_CHARSET and the others without a page) the system
// ANSI code page.
Cardinal CharsetToCodePage(Byte Charset);
