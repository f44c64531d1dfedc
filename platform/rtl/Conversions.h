// Conversions between numbers and text with the platform's rules: integer
// text (decimal, "$" and "0x" hexadecimal), float text with the locale's
// decimal separator, the float formats (general, exponent, fixed, number,
// currency), FormatFloat pictures, Currency and Boolean text.
//
// Every routine that depends on the locale has an overload taking a
// TFormatSettings and one that uses the process-wide FormatSettings.
#pragma once

#include "platform/rtl/Numbers.h"
#include "platform/rtl/Types.h"

struct TFormatSettings;

// ---- Integers to text ----
String IntToStr(Integer Value);
String IntToStr(Int64 Value);
String IntToStr(Cardinal Value);
String IntToStr(UInt64 Value);
String UIntToStr(Cardinal Value);
String UIntToStr(UInt64 Value);
// Upper-case hexadecimal, at least Digits digits. A negative Integer is shown
// as its 32-bit pattern (-1 -> "FFFFFFFF"), a negative Int64 as 64 bits.
String IntToHex(Integer Value, Integer Digits);
String IntToHex(Int64 Value, Integer Digits);
String IntToHex(Cardinal Value, Integer Digits);
String IntToHex(UInt64 Value, Integer Digits);

// ---- Text to integers ----
// Syntax: leading blanks, an optional "+" or "-", then decimal digits, or
// hexadecimal digits after "$", "x", "X", "0x" or "0X". Nothing may follow.
// Decimal values must fit the signed type; hexadecimal ones may use the whole
// unsigned range and are taken as the bit pattern ("$FFFFFFFF" is -1).
// Failures raise EConvertError "'%s' is not a valid integer value".
Integer StrToInt(const String& S);
Integer StrToIntDef(const String& S, Integer Default);
bool TryStrToInt(const String& S, Integer& Value);
Int64 StrToInt64(const String& S);
Int64 StrToInt64Def(const String& S, Int64 Default);
bool TryStrToInt64(const String& S, Int64& Value);
// Code is 0 on success, else the 1-based position of the offending character
// (Length(S) + 1 when the text ends too early). Value is 0 on failure.
void Val(const String& S, Integer& Value, Integer& Code);
void Val(const String& S, Int64& Value, Integer& Code);
// Decimal float syntax with "." as the separator (no locale).
void Val(const String& S, double& Value, Integer& Code);

// ---- Floats ----
enum class TFloatFormat { ffGeneral, ffExponent, ffFixed, ffNumber, ffCurrency };
using enum TFloatFormat;

// Float text: optional blanks, sign, digits with at most one decimal
// separator (the settings' DecimalSeparator only), an optional exponent
// ("E" or "e", optional sign, digits), optional blanks. Thousand separators,
// "INF" and "NAN" are refused, as are magnitudes beyond the double range;
// magnitudes below it become 0 or a denormal.
// Failures raise EConvertError "'%s' is not a valid floating point value".
double StrToFloat(const String& S);
double StrToFloat(const String& S, const TFormatSettings& FS);
double StrToFloatDef(const String& S, double Default);
double StrToFloatDef(const String& S, double Default, const TFormatSettings& FS);
bool TryStrToFloat(const String& S, double& Value);
bool TryStrToFloat(const String& S, double& Value, const TFormatSettings& FS);
bool TextToFloat(const String& S, double& Value);
bool TextToFloat(const String& S, double& Value, const TFormatSettings& FS);
// Currency text: the float syntax, read exactly and rounded to four decimals
// (ties to even); false when the value leaves the Currency range.
bool TextToFloat(const String& S, Currency& Value);
bool TextToFloat(const String& S, Currency& Value, const TFormatSettings& FS);

// 15 significant digits in general format: 23.14 -> "23.14", 10 -> "10",
// 1E15 -> "1E15", 1E-5 -> "1E-5". NaN and infinities give "NAN", "INF", "-INF".
// Negative zero gives "0".
String FloatToStr(double Value);
String FloatToStr(double Value, const TFormatSettings& FS);
// Precision: significant digits (1..18). Digits: ffGeneral and ffExponent the
// minimum exponent digits (0..4); ffFixed, ffNumber, ffCurrency the decimals (0..18).
String FloatToStrF(double Value, TFloatFormat Format, Integer Precision, Integer Digits);
String FloatToStrF(double Value, TFloatFormat Format, Integer Precision, Integer Digits,
                   const TFormatSettings& FS);
// The same for a Currency, from its exact decimal value (Precision up to 19).
String FloatToStrF(Currency Value, TFloatFormat Format, Integer Precision, Integer Digits);
String FloatToStrF(Currency Value, TFloatFormat Format, Integer Precision, Integer Digits,
                   const TFormatSettings& FS);
// A picture with up to three ";" sections (positive; negative; zero), "0" and
// "#" digit placeholders, "." the decimal point, "," thousands, "E+"/"E-"/
// "e+"/"e-" exponents, quoted literals ('...' or "..."). An empty picture
// gives FloatToStr's text. Digits round half away from zero.
String FormatFloat(const String& Format, double Value);
String FormatFloat(const String& Format, double Value, const TFormatSettings& FS);
String FormatCurr(const String& Format, Currency Value);
String FormatCurr(const String& Format, Currency Value, const TFormatSettings& FS);

// ---- Currency ----
// CurrToStr: the exact value in general format (up to four decimals).
String CurrToStr(Currency Value);
String CurrToStr(Currency Value, const TFormatSettings& FS);
String CurrToStrF(Currency Value, TFloatFormat Format, Integer Digits);
String CurrToStrF(Currency Value, TFloatFormat Format, Integer Digits, const TFormatSettings& FS);
// Failures raise EConvertError "'%s' is not a valid floating point value".
Currency StrToCurr(const String& S);
Currency StrToCurr(const String& S, const TFormatSettings& FS);
Currency StrToCurrDef(const String& S, Currency Default);
Currency StrToCurrDef(const String& S, Currency Default, const TFormatSettings& FS);
bool TryStrToCurr(const String& S, Currency& Value);
bool TryStrToCurr(const String& S, Currency& Value, const TFormatSettings& FS);
double CurrToFloat(Currency Value);
// Raises EInvalidOp when the value is not a finite number inside the range.
Currency FloatToCurr(double Value);
bool TryFloatToCurr(double Value, Currency& Result);

// ---- Booleans ----
// UseBoolStrs: "True"/"False"; otherwise "-1"/"0".
String BoolToStr(bool B, bool UseBoolStrs = false);
// "True"/"False" in any case, or a number (non-zero is true); failures raise
// EConvertError "'%s' is not a valid boolean value".
bool StrToBool(const String& S);
bool StrToBoolDef(const String& S, bool Default);
bool TryStrToBool(const String& S, bool& Value);
