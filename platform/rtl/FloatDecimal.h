// The decimal digits of a double or a Currency and the text formats built on
// them, shared by the conversions and Format. Not for use outside platform/rtl.
#pragma once

#include "platform/rtl/Conversions.h"
#include "platform/rtl/Types.h"

struct TFormatSettings;

namespace FloatDecimal {

// A double or a Currency (kept exact as its scaled integer).
struct TValue {
  bool IsCurrency = false;
  double Float = 0;
  Int64 Raw = 0;
  static TValue Of(double V) { return TValue{false, V, 0}; }
  static TValue Of(Currency V) { return TValue{true, 0, V.Raw()}; }
};

// Value = 0.Digits * 10^Exponent; Count == 0 means zero.
struct TRec {
  enum TKind { kFinite, kNaN, kInf };
  TKind Kind = kFinite;
  bool Negative = false;
  Integer Exponent = 0;
  Integer Count = 0;
  char Digits[24] = {};
};

// The digits rounded half away from zero to at most Precision significant
// digits and at most Decimals digits after the decimal point; trailing zeros
// removed. A value that rounds to zero is not negative.
TRec Decimal(const TValue& V, Integer Precision, Integer Decimals);

// FloatToStrF of either kind.
String FormatValue(const TValue& V, TFloatFormat Format, Integer Precision, Integer Digits,
                   const TFormatSettings& FS);
// FormatFloat/FormatCurr pictures.
String FormatPicture(const String& Picture, const TValue& V, const TFormatSettings& FS);

}  // namespace FloatDecimal
