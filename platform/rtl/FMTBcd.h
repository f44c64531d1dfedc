// TBcd: packed binary-coded decimals of up to 64 digits, their text, double,
// Currency and integer conversions, comparison and arithmetic, and the FMTBcd
// custom variant type.
#pragma once

#include "platform/rtl/Conversions.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Numbers.h"
#include "platform/rtl/Types.h"
#include "platform/rtl/Variants.h"

struct TFormatSettings;

// The 34-byte record as it stands in record buffers: Precision digits, of
// which (SignSpecialPlaces & 0x3F) are decimals; bit 7 of SignSpecialPlaces
// is the sign. Fraction holds the digits as nibbles, the first digit in the
// high nibble of Fraction[0]. Precision 0 (all zeros) is the value 0.
struct TBcd {
  Byte Precision = 0;
  Byte SignSpecialPlaces = 0;
  Byte Fraction[32] = {};
};
static_assert(sizeof(TBcd) == 34);

constexpr Integer MaxFMTBcdFractionSize = 64;  // digits
constexpr Integer MaxFMTBcdDigits = 32;        // bytes of Fraction

inline constexpr TBcd NullBcd{};

RTL_EXCEPTION_CLASS(EBcdException, Exception);
RTL_EXCEPTION_CLASS(EBcdOverflowException, EBcdException);

// Text: optional blanks, an optional sign, digits with at most one decimal
// separator (the settings' DecimalSeparator), an optional exponent ("E" or
// "e", optional sign, digits), optional blanks. Empty or blank text is 0.
// Decimals beyond 64 digits are rounded half away from zero; more than 64
// integer digits fail. StrToBcd raises EBcdException "'%s' is not a valid BCD value".
bool TryStrToBcd(const String& S, TBcd& Bcd);
bool TryStrToBcd(const String& S, TBcd& Bcd, const TFormatSettings& FS);
TBcd StrToBcd(const String& S);
TBcd StrToBcd(const String& S, const TFormatSettings& FS);
// The exact value, without trailing zero decimals: "-12.5", "0".
String BcdToStr(const TBcd& Bcd);
String BcdToStr(const TBcd& Bcd, const TFormatSettings& FS);
// Formatted as FloatToStrF formats a float, from the exact digits for
// ffGeneral, ffFixed and ffNumber (rounded half away from zero); ffExponent
// and ffCurrency go through FloatToStrF and CurrToStrF.
String BcdToStrF(const TBcd& Bcd, TFloatFormat Format, Integer Precision, Integer Digits);
String BcdToStrF(const TBcd& Bcd, TFloatFormat Format, Integer Precision, Integer Digits,
                 const TFormatSettings& FS);

// The nearest double. A double becomes its 15-significant-digit decimal
// (as FloatToStr shows it); NaN and infinities raise EBcdException.
double BcdToDouble(const TBcd& Bcd);
TBcd DoubleToBcd(double Value);
TBcd IntegerToBcd(Int64 Value);
// Rounded half away from zero, or truncated; EBcdOverflowException when the
// value does not fit.
Integer BcdToInteger(const TBcd& Bcd, bool Truncate = false);
Int64 BcdToInt64(const TBcd& Bcd, bool Truncate = false);
// False when the value does not fit (BCDToCurr rounds to four decimals, half
// away from zero).
bool BCDToCurr(const TBcd& Bcd, Currency& Curr);
bool CurrToBCD(Currency Curr, TBcd& Bcd, Integer Precision = 32, Integer Decimals = 4);

// -1, 0 or 1.
Integer BcdCompare(const TBcd& A, const TBcd& B);
// Exact where 64 digits hold the result, else decimals are rounded half away
// from zero; EBcdOverflowException when the integer part needs more than 64
// digits. A zero divisor raises EZeroDivide; quotients keep up to 64 digits.
void BcdAdd(const TBcd& A, const TBcd& B, TBcd& Result);
void BcdSubtract(const TBcd& A, const TBcd& B, TBcd& Result);
void BcdMultiply(const TBcd& A, const TBcd& B, TBcd& Result);
void BcdDivide(const TBcd& A, const TBcd& B, TBcd& Result);

// The value with exactly Places decimals (rounded half away from zero or
// padded) in a record of Precision digits; False when the integer part does
// not fit Precision - Places digits or the sizes are impossible.
bool NormalizeBcd(const TBcd& In, TBcd& Out, Word Precision, Word Places);
bool IsBcdNegative(const TBcd& Bcd);
// Digits before the decimal point (leading zeros not counted), and the decimals.
Word BcdPrecision(const TBcd& Bcd);
Word BcdScale(const TBcd& Bcd);

// ---- The FMTBcd variant type ----
// Converts to text (BcdToStr), double, Currency, integers and Boolean, and
// from numbers and number text; compares and computes exactly with numbers.
TVarType VarFMTBcd();
bool VarIsFMTBcd(const Variant& V);
Variant VarFMTBcdCreate(const TBcd& Bcd);
// The value normalized to Precision digits and Scale decimals;
// EBcdOverflowException when it does not fit.
Variant VarFMTBcdCreate(const String& Value, Word Precision, Word Scale);
Variant VarFMTBcdCreate(double Value, Word Precision = 18, Word Scale = 4);
// Any non-Null variant as a TBcd; EVariantTypeCastError when it is no number.
TBcd VarToBcd(const Variant& V);
