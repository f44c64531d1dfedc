#include "platform/rtl/Conversions.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/FloatDecimal.h"
#include "platform/rtl/Locale.h"

namespace {

String Ascii(const char* S, size_t N) { return String(S, S + N); }
String Ascii(const std::string& S) { return String(S.begin(), S.end()); }

// Replaces the first "%s" of an ASCII message with the text.
[[noreturn]] void ConvertError(const char* Msg, const String& S) {
  String M;
  for (const char* P = Msg; *P; ++P) {
    if (P[0] == '%' && P[1] == 's') {
      M += S;
      ++P;
    } else {
      M += static_cast<Char>(*P);
    }
  }
  throw EConvertError(M);
}

constexpr const char* SInvalidInteger = "'%s' is not a valid integer value";
constexpr const char* SInvalidFloat = "'%s' is not a valid floating point value";
constexpr const char* SInvalidBoolean = "'%s' is not a valid boolean value";

int HexDigit(Char C) {
  if (C >= u'0' && C <= u'9') return C - u'0';
  if (C >= u'A' && C <= u'F') return C - u'A' + 10;
  if (C >= u'a' && C <= u'f') return C - u'a' + 10;
  return -1;
}

// Parses integer text; returns 0 on success or the 1-based position of the
// offending character (Length + 1 when the text ends too early).
Integer ParseInteger(const String& S, bool Is64, Int64& Value) {
  Value = 0;
  const size_t N = S.size();
  size_t I = 0;
  while (I < N && S[I] == u' ') ++I;
  bool Negative = false;
  if (I < N && (S[I] == u'+' || S[I] == u'-')) {
    Negative = S[I] == u'-';
    ++I;
  }
  bool Hex = false;
  if (I < N && (S[I] == u'$' || S[I] == u'x' || S[I] == u'X')) {
    Hex = true;
    ++I;
  } else if (I + 1 < N && S[I] == u'0' && (S[I + 1] == u'x' || S[I + 1] == u'X')) {
    Hex = true;
    I += 2;
  }
  if (I >= N) return static_cast<Integer>(N + 1);
  UInt64 Acc = 0;
  const size_t Start = I;
  if (Hex) {
    const UInt64 Limit = Is64 ? UINT64_MAX : UINT32_MAX;
    for (; I < N; ++I) {
      int D = HexDigit(S[I]);
      if (D < 0) break;
      if (Acc > (Limit >> 4)) return static_cast<Integer>(I + 1);
      Acc = (Acc << 4) | static_cast<UInt64>(D);
    }
  } else {
    const UInt64 Limit = Is64 ? (Negative ? UInt64{1} << 63 : INT64_MAX)
                              : (Negative ? UInt64{1} << 31 : INT32_MAX);
    for (; I < N; ++I) {
      Char C = S[I];
      if (C < u'0' || C > u'9') break;
      UInt64 D = C - u'0';
      if (Acc > (Limit - D) / 10) return static_cast<Integer>(I + 1);
      Acc = Acc * 10 + D;
    }
  }
  if (I == Start || I < N) return static_cast<Integer>(I + 1);
  if (Negative) Acc = 0 - Acc;
  Value = Is64 ? static_cast<Int64>(Acc) : static_cast<Int64>(static_cast<Integer>(static_cast<Cardinal>(Acc)));
  return 0;
}

// The float text of the platform turned into an ASCII number for from_chars.
struct TNumberText {
  bool Negative = false;
  std::string Mantissa;  // digits without the decimal point, leading zeros removed
  Int64 Exponent = 0;    // value = Mantissa * 10^Exponent
};

// Reads the platform's float syntax. Separator is the decimal separator;
// Blanks allows leading and trailing spaces. Returns 0 on success, else the
// 1-based error position.
Integer ScanFloat(const String& S, Char Separator, bool Blanks, TNumberText& Out) {
  const size_t N = S.size();
  size_t I = 0;
  if (Blanks)
    while (I < N && S[I] == u' ') ++I;
  if (I < N && (S[I] == u'+' || S[I] == u'-')) {
    Out.Negative = S[I] == u'-';
    ++I;
  }
  bool AnyDigit = false;
  Int64 FracDigits = 0;
  auto TakeDigit = [&](Char C) {
    AnyDigit = true;
    if (Out.Mantissa.empty() && C == u'0') return;
    if (Out.Mantissa.size() < 800)
      Out.Mantissa += static_cast<char>(C);
    else
      --FracDigits;  // digits beyond any precision only scale the value
  };
  for (; I < N && S[I] >= u'0' && S[I] <= u'9'; ++I) TakeDigit(S[I]);
  if (I < N && S[I] == Separator && Separator != 0) {
    ++I;
    for (; I < N && S[I] >= u'0' && S[I] <= u'9'; ++I) {
      TakeDigit(S[I]);
      ++FracDigits;
    }
  }
  if (!AnyDigit) return static_cast<Integer>(I + 1);
  Int64 Exp = 0;
  if (I < N && (S[I] == u'E' || S[I] == u'e')) {
    ++I;
    bool ExpNegative = false;
    if (I < N && (S[I] == u'+' || S[I] == u'-')) {
      ExpNegative = S[I] == u'-';
      ++I;
    }
    if (I >= N || S[I] < u'0' || S[I] > u'9') return static_cast<Integer>(I + 1);
    for (; I < N && S[I] >= u'0' && S[I] <= u'9'; ++I)
      if (Exp < 100000) Exp = Exp * 10 + (S[I] - u'0');
    if (ExpNegative) Exp = -Exp;
  }
  if (Blanks)
    while (I < N && S[I] == u' ') ++I;
  if (I < N) return static_cast<Integer>(I + 1);
  Out.Exponent = Exp - FracDigits;
  return 0;
}

bool NumberToDouble(const TNumberText& T, double& Value) {
  if (T.Mantissa.empty()) {
    Value = T.Negative ? -0.0 : 0.0;
    return true;
  }
  // Decimal exponent of the leading digit: beyond the double range either way.
  Int64 Lead = T.Exponent + static_cast<Int64>(T.Mantissa.size());
  if (Lead > 400) return false;
  if (Lead < -400) {
    Value = T.Negative ? -0.0 : 0.0;
    return true;
  }
  std::string Text = T.Mantissa + "e" + std::to_string(T.Exponent);
  double V = 0;
  auto R = std::from_chars(Text.data(), Text.data() + Text.size(), V);
  if (R.ec == std::errc::result_out_of_range) {
    if (Lead > 0) return false;  // overflow
    V = 0;                       // underflow
  } else if (R.ec != std::errc() || R.ptr != Text.data() + Text.size()) {
    return false;
  }
  Value = T.Negative ? -V : V;
  return true;
}

// The exact Currency of a decimal text, rounded half to even at the fourth decimal.
bool NumberToCurrency(const TNumberText& T, Currency& Value) {
  const std::string& D = T.Mantissa;
  Int64 K = T.Exponent + 4;  // raw = D * 10^K
  Int64 Len = static_cast<Int64>(D.size());
  if (D.empty()) {
    Value = Currency();
    return true;
  }
  if (Len + K > 20) return false;
  unsigned __int128 Raw = 0;
  Int64 Keep = std::min(Len, Len + K);  // digits in the integer part of raw
  for (Int64 I = 0; I < Keep; ++I) Raw = Raw * 10 + static_cast<unsigned>(D[I] - '0');
  for (Int64 I = 0; I < K; ++I) Raw *= 10;
  if (Keep < Len) {
    // Digits dropped: round half to even.
    Int64 First = std::max<Int64>(Keep, 0);
    bool Up = false;
    if (Keep >= 0) {
      char C = D[First];
      bool RestNonZero = false;
      for (Int64 I = First + 1; I < Len; ++I)
        if (D[I] != '0') RestNonZero = true;
      if (C > '5' || (C == '5' && (RestNonZero || (Raw & 1) != 0))) Up = true;
    }
    if (Up) ++Raw;
  }
  const unsigned __int128 Max = T.Negative ? (static_cast<unsigned __int128>(1) << 63)
                                           : static_cast<unsigned __int128>(INT64_MAX);
  if (Raw > Max) return false;
  Int64 R = T.Negative ? static_cast<Int64>(0 - static_cast<UInt64>(Raw)) : static_cast<Int64>(Raw);
  Value = Currency::FromRaw(R);
  return true;
}

String HexText(UInt64 V, Integer Digits) {
  char Buf[20];
  auto R = std::to_chars(Buf, Buf + sizeof Buf, V, 16);
  std::string S(Buf, R.ptr);
  for (char& C : S) C = static_cast<char>(std::toupper(static_cast<unsigned char>(C)));
  if (Digits > 32) Digits = 32;
  if (static_cast<Integer>(S.size()) < Digits) S.insert(0, static_cast<size_t>(Digits) - S.size(), '0');
  return Ascii(S);
}

template <typename T>
String DecimalText(T V) {
  char Buf[24];
  auto R = std::to_chars(Buf, Buf + sizeof Buf, V);
  return Ascii(Buf, static_cast<size_t>(R.ptr - Buf));
}

}  // namespace

// ---- Integers to text ----

String IntToStr(Integer Value) { return DecimalText(Value); }
String IntToStr(Int64 Value) { return DecimalText(Value); }
String IntToStr(Cardinal Value) { return DecimalText(Value); }
String IntToStr(UInt64 Value) { return DecimalText(Value); }
String UIntToStr(Cardinal Value) { return DecimalText(Value); }
String UIntToStr(UInt64 Value) { return DecimalText(Value); }
String IntToHex(Integer Value, Integer Digits) { return HexText(static_cast<Cardinal>(Value), Digits); }
String IntToHex(Int64 Value, Integer Digits) { return HexText(static_cast<UInt64>(Value), Digits); }
String IntToHex(Cardinal Value, Integer Digits) { return HexText(Value, Digits); }
String IntToHex(UInt64 Value, Integer Digits) { return HexText(Value, Digits); }

// ---- Text to integers ----

bool TryStrToInt(const String& S, Integer& Value) {
  Int64 V;
  if (ParseInteger(S, false, V) != 0) return false;
  Value = static_cast<Integer>(V);
  return true;
}

Integer StrToInt(const String& S) {
  Integer V;
  if (!TryStrToInt(S, V)) ConvertError(SInvalidInteger, S);
  return V;
}

Integer StrToIntDef(const String& S, Integer Default) {
  Integer V;
  return TryStrToInt(S, V) ? V : Default;
}

bool TryStrToInt64(const String& S, Int64& Value) {
  Int64 V;
  if (ParseInteger(S, true, V) != 0) return false;
  Value = V;
  return true;
}

Int64 StrToInt64(const String& S) {
  Int64 V;
  if (!TryStrToInt64(S, V)) ConvertError(SInvalidInteger, S);
  return V;
}

Int64 StrToInt64Def(const String& S, Int64 Default) {
  Int64 V;
  return TryStrToInt64(S, V) ? V : Default;
}

void Val(const String& S, Integer& Value, Integer& Code) {
  Int64 V;
  Code = ParseInteger(S, false, V);
  Value = static_cast<Integer>(V);
}

void Val(const String& S, Int64& Value, Integer& Code) { Code = ParseInteger(S, true, Value); }

void Val(const String& S, double& Value, Integer& Code) {
  TNumberText T;
  Value = 0;
  Code = ScanFloat(S, u'.', false, T);
  if (Code == 0 && !NumberToDouble(T, Value)) {
    Value = 0;
    Code = static_cast<Integer>(S.size()) + 1;
  }
}

// ---- Floats ----

bool TextToFloat(const String& S, double& Value, const TFormatSettings& FS) {
  TNumberText T;
  if (ScanFloat(S, FS.DecimalSeparator, true, T) != 0) return false;
  double V;
  if (!NumberToDouble(T, V)) return false;
  Value = V;
  return true;
}

bool TextToFloat(const String& S, double& Value) { return TextToFloat(S, Value, FormatSettings()); }

bool TextToFloat(const String& S, Currency& Value, const TFormatSettings& FS) {
  TNumberText T;
  if (ScanFloat(S, FS.DecimalSeparator, true, T) != 0) return false;
  return NumberToCurrency(T, Value);
}

bool TextToFloat(const String& S, Currency& Value) { return TextToFloat(S, Value, FormatSettings()); }

bool TryStrToFloat(const String& S, double& Value, const TFormatSettings& FS) { return TextToFloat(S, Value, FS); }
bool TryStrToFloat(const String& S, double& Value) { return TextToFloat(S, Value, FormatSettings()); }

double StrToFloat(const String& S, const TFormatSettings& FS) {
  double V;
  if (!TextToFloat(S, V, FS)) ConvertError(SInvalidFloat, S);
  return V;
}

double StrToFloat(const String& S) { return StrToFloat(S, FormatSettings()); }

double StrToFloatDef(const String& S, double Default, const TFormatSettings& FS) {
  double V;
  return TextToFloat(S, V, FS) ? V : Default;
}

double StrToFloatDef(const String& S, double Default) { return StrToFloatDef(S, Default, FormatSettings()); }

String FloatToStr(double Value, const TFormatSettings& FS) { return FloatToStrF(Value, ffGeneral, 15, 0, FS); }
String FloatToStr(double Value) { return FloatToStr(Value, FormatSettings()); }

String FloatToStrF(double Value, TFloatFormat Format, Integer Precision, Integer Digits, const TFormatSettings& FS) {
  return FloatDecimal::FormatValue(FloatDecimal::TValue::Of(Value), Format, Precision, Digits, FS);
}

String FloatToStrF(double Value, TFloatFormat Format, Integer Precision, Integer Digits) {
  return FloatToStrF(Value, Format, Precision, Digits, FormatSettings());
}

String FloatToStrF(Currency Value, TFloatFormat Format, Integer Precision, Integer Digits, const TFormatSettings& FS) {
  return FloatDecimal::FormatValue(FloatDecimal::TValue::Of(Value), Format, Precision, Digits, FS);
}

String FloatToStrF(Currency Value, TFloatFormat Format, Integer Precision, Integer Digits) {
  return FloatToStrF(Value, Format, Precision, Digits, FormatSettings());
}

String FormatFloat(const String& Format, double Value, const TFormatSettings& FS) {
  return FloatDecimal::FormatPicture(Format, FloatDecimal::TValue::Of(Value), FS);
}

String FormatFloat(const String& Format, double Value) { return FormatFloat(Format, Value, FormatSettings()); }

String FormatCurr(const String& Format, Currency Value, const TFormatSettings& FS) {
  return FloatDecimal::FormatPicture(Format, FloatDecimal::TValue::Of(Value), FS);
}

String FormatCurr(const String& Format, Currency Value) { return FormatCurr(Format, Value, FormatSettings()); }

// ---- Currency ----

String CurrToStr(Currency Value, const TFormatSettings& FS) { return FloatToStrF(Value, ffGeneral, 19, 0, FS); }
String CurrToStr(Currency Value) { return CurrToStr(Value, FormatSettings()); }

String CurrToStrF(Currency Value, TFloatFormat Format, Integer Digits, const TFormatSettings& FS) {
  return FloatToStrF(Value, Format, 19, Digits, FS);
}

String CurrToStrF(Currency Value, TFloatFormat Format, Integer Digits) {
  return CurrToStrF(Value, Format, Digits, FormatSettings());
}

bool TryStrToCurr(const String& S, Currency& Value, const TFormatSettings& FS) { return TextToFloat(S, Value, FS); }
bool TryStrToCurr(const String& S, Currency& Value) { return TextToFloat(S, Value, FormatSettings()); }

Currency StrToCurr(const String& S, const TFormatSettings& FS) {
  Currency V;
  if (!TextToFloat(S, V, FS)) ConvertError(SInvalidFloat, S);
  return V;
}

Currency StrToCurr(const String& S) { return StrToCurr(S, FormatSettings()); }

Currency StrToCurrDef(const String& S, Currency Default, const TFormatSettings& FS) {
  Currency V;
  return TextToFloat(S, V, FS) ? V : Default;
}

Currency StrToCurrDef(const String& S, Currency Default) { return StrToCurrDef(S, Default, FormatSettings()); }

double CurrToFloat(Currency Value) { return Value.ToDouble(); }
Currency FloatToCurr(double Value) { return Currency(Value); }

bool TryFloatToCurr(double Value, Currency& Result) {
  if (!std::isfinite(Value) || !(std::fabs(Value) < 922337203685477.5807)) return false;
  Result = Currency(Value);
  return true;
}

// ---- Booleans ----

String BoolToStr(bool B, bool UseBoolStrs) {
  if (UseBoolStrs) return B ? u"True" : u"False";
  return B ? u"-1" : u"0";
}

bool TryStrToBool(const String& S, bool& Value) {
  auto SameAscii = [](const String& A, const char* B) {
    size_t N = std::strlen(B);
    if (A.size() != N) return false;
    for (size_t I = 0; I < N; ++I) {
      Char C = A[I];
      if (C >= u'a' && C <= u'z') C = static_cast<Char>(C - 32);
      char D = static_cast<char>(std::toupper(static_cast<unsigned char>(B[I])));
      if (C != static_cast<Char>(D)) return false;
    }
    return true;
  };
  double F;
  if (TextToFloat(S, F, FormatSettings())) {
    Value = F != 0;
    return true;
  }
  if (SameAscii(S, "True")) {
    Value = true;
    return true;
  }
  if (SameAscii(S, "False")) {
    Value = false;
    return true;
  }
  return false;
}

bool StrToBool(const String& S) {
  bool B;
  if (!TryStrToBool(S, B)) ConvertError(SInvalidBoolean, S);
  return B;
}

bool StrToBoolDef(const String& S, bool Default) {
  bool B;
  return TryStrToBool(S, B) ? B : Default;
}
