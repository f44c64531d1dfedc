// Format: the platform's printf-like formatting of an argument list.
//
//   Format(u"COM%d", {n})      Format(u"%s - [%s]", {a, b})      Format(u"%1:s %0:s", {x, y})
//
// A specifier is "%" [index ":"] ["-"] [width] ["." precision] type, where
// index, width and precision may be "*" (taken from the next argument, an
// integer). Types (either case): d u x (integers; precision = minimum
// digits), e f g n m (floats and Currency; precision = digits), p (pointer),
// s (strings and characters; precision = maximum length). "%%" is "%".
// A bad specifier, a missing argument or one of the wrong kind raises
// EConvertError "Format '%s' invalid or incompatible with argument".
#pragma once

#include <cstddef>
#include <initializer_list>

#include "platform/rtl/Numbers.h"
#include "platform/rtl/Types.h"

struct TFormatSettings;

// One argument: a small tagged value. String arguments are referenced, not
// copied: a TVarRec is valid only as long as the value it was made from
// (always true for the argument list of one call).
struct TVarRec {
  enum : Byte {
    vtInteger = 0,
    vtBoolean = 1,
    vtChar = 2,
    vtExtended = 3,
    vtString = 4,
    vtPointer = 5,
    vtPChar = 6,
    vtObject = 7,
    vtClass = 8,
    vtWideChar = 9,
    vtPWideChar = 10,
    vtAnsiString = 11,
    vtCurrency = 12,
    vtVariant = 13,
    vtInterface = 14,
    vtWideString = 15,
    vtInt64 = 16,
    vtUnicodeString = 17,
  };

  Byte VType = vtInteger;
  union {
    Integer VInteger = 0;
    bool VBoolean;
    AnsiChar VChar;
    Char VWideChar;
    double VExtended;
    Int64 VInt64;
    Int64 VCurrency;  // the Currency's scaled value
    const void* VPointer;
    const AnsiChar* VPChar;
    const Char* VPWideChar;
    const AnsiString* VAnsiString;
    const String* VUnicodeString;
  };

  TVarRec(Integer V) : VType(vtInteger), VInteger(V) {}
  TVarRec(Cardinal V) : VType(vtInt64), VInt64(V) {}
  TVarRec(Int64 V) : VType(vtInt64), VInt64(V) {}
  TVarRec(UInt64 V) : VType(vtInt64), VInt64(static_cast<Int64>(V)) {}
  TVarRec(bool V) : VType(vtBoolean), VBoolean(V) {}
  TVarRec(AnsiChar V) : VType(vtChar), VChar(V) {}
  TVarRec(Char V) : VType(vtWideChar), VWideChar(V) {}
  TVarRec(double V) : VType(vtExtended), VExtended(V) {}
  TVarRec(Currency V) : VType(vtCurrency), VCurrency(V.Raw()) {}
  TVarRec(const String& V) : VType(vtUnicodeString), VUnicodeString(&V) {}
  TVarRec(const Char* V) : VType(vtPWideChar), VPWideChar(V) {}
  TVarRec(const AnsiString& V) : VType(vtAnsiString), VAnsiString(&V) {}
  // Text in the system code page.
  TVarRec(const AnsiChar* V) : VType(vtPChar), VPChar(V) {}
  TVarRec(const void* V) : VType(vtPointer), VPointer(V) {}
  TVarRec(std::nullptr_t) : VType(vtPointer), VPointer(nullptr) {}
};

String Format(const String& Fmt, std::initializer_list<TVarRec> Args);
String Format(const String& Fmt, std::initializer_list<TVarRec> Args, const TFormatSettings& FS);
String Format(const String& Fmt, const TVarRec* Args, size_t Count);
String Format(const String& Fmt, const TVarRec* Args, size_t Count, const TFormatSettings& FS);
void FmtStr(String& Result, const String& Fmt, std::initializer_list<TVarRec> Args);
