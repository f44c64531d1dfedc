#include "platform/rtl/FloatDecimal.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/rtl/Locale.h"

namespace FloatDecimal {

namespace {

constexpr Integer MaxFloatDigits = 18;     // what a double's 18-digit expansion holds
constexpr Integer MaxCurrencyDigits = 19;  // every digit of an Int64

void RoundAt(TRec& R, Integer N) {
  if (N >= R.Count) return;
  if (N < 0) {
    R.Count = 0;
    return;
  }
  bool Up = R.Digits[N] >= '5';
  R.Count = N;
  if (!Up) return;
  Integer I = N - 1;
  while (I >= 0 && R.Digits[I] == '9') --I;
  if (I < 0) {
    // 999 -> 1000: one digit, one more place.
    R.Digits[0] = '1';
    R.Count = 1;
    ++R.Exponent;
  } else {
    ++R.Digits[I];
    R.Count = I + 1;
  }
}

void Append(String& S, const char* A) {
  while (*A) S += static_cast<Char>(*A++);
}

void AppendInt(String& S, Integer V, Integer MinDigits) {
  std::string T = std::to_string(V < 0 ? -static_cast<Int64>(V) : static_cast<Int64>(V));
  if (static_cast<Integer>(T.size()) < MinDigits) T.insert(0, static_cast<size_t>(MinDigits) - T.size(), '0');
  Append(S, T.c_str());
}

char DigitAt(const TRec& R, Integer I) { return (I >= 0 && I < R.Count) ? R.Digits[I] : '0'; }

// The digits before the decimal point, grouped by thousands when Sep != 0.
String IntegerPart(const TRec& R, Char Sep) {
  String S;
  if (R.Exponent <= 0) return u"0";
  for (Integer I = 0; I < R.Exponent; ++I) {
    S += static_cast<Char>(DigitAt(R, I));
    Integer Left = R.Exponent - 1 - I;
    if (Sep != 0 && Left > 0 && Left % 3 == 0) S += Sep;
  }
  return S;
}

String Special(const TRec& R) {
  if (R.Kind == TRec::kNaN) return u"NAN";
  return R.Negative ? u"-INF" : u"INF";
}

// "d.dddE+xx" style: all the record's digits (at least MinMantissa) and an exponent.
String ExponentForm(const TRec& R, Integer MinMantissa, bool PlusSign, Integer ExpDigits, Char DecSep) {
  String S;
  if (R.Negative) S += u'-';
  S += static_cast<Char>(R.Count > 0 ? R.Digits[0] : '0');
  Integer Mantissa = std::max(R.Count, MinMantissa);
  if (Mantissa > 1) {
    S += DecSep;
    for (Integer I = 1; I < Mantissa; ++I) S += static_cast<Char>(DigitAt(R, I));
  }
  Integer E = R.Count > 0 ? R.Exponent - 1 : 0;
  S += u'E';
  if (E < 0)
    S += u'-';
  else if (PlusSign)
    S += u'+';
  AppendInt(S, E, ExpDigits);
  return S;
}

String CurrencyPattern(const String& Number, bool Negative, const TFormatSettings& FS) {
  const String& C = FS.CurrencyString;
  if (!Negative) {
    switch (FS.CurrencyFormat) {
      case 1: return Number + C;
      case 2: return C + u" " + Number;
      case 3: return Number + u" " + C;
      default: return C + Number;
    }
  }
  switch (FS.NegCurrFormat) {
    case 1: return u"-" + C + Number;
    case 2: return C + u"-" + Number;
    case 3: return C + Number + u"-";
    case 4: return u"(" + Number + C + u")";
    case 5: return u"-" + Number + C;
    case 6: return Number + u"-" + C;
    case 7: return Number + C + u"-";
    case 8: return u"-" + Number + u" " + C;
    case 9: return u"-" + C + u" " + Number;
    case 10: return Number + u" " + C + u"-";
    case 11: return C + u" " + Number + u"-";
    case 12: return C + u" -" + Number;
    case 13: return Number + u"- " + C;
    case 14: return u"(" + C + u" " + Number + u")";
    case 15: return u"(" + Number + u" " + C + u")";
    default: return u"(" + C + Number + u")";
  }
}

bool IsZeroValue(const TValue& V) { return V.IsCurrency ? V.Raw == 0 : V.Float == 0; }
bool IsNegativeValue(const TValue& V) { return V.IsCurrency ? V.Raw < 0 : V.Float < 0; }

// One section of a picture, parsed.
struct TSection {
  Integer IntPlaces = 0;
  Integer MinInt = 0;
  Integer DecPlaces = 0;
  Integer MinDec = 0;
  bool Thousands = false;
  bool Scientific = false;
  Integer ExpDigits = 0;
};

TSection ParseSection(const String& S) {
  TSection P;
  Integer FirstZero = -1;
  bool InDecimals = false;
  for (size_t I = 0; I < S.size(); ++I) {
    Char C = S[I];
    if (C == u'"' || C == u'\'') {
      size_t J = S.find(C, I + 1);
      I = J == String::npos ? S.size() : J;
    } else if (C == u'0' || C == u'#') {
      if (!InDecimals) {
        if (C == u'0' && FirstZero < 0) FirstZero = P.IntPlaces;
        ++P.IntPlaces;
      } else {
        ++P.DecPlaces;
        if (C == u'0') P.MinDec = P.DecPlaces;
      }
    } else if (C == u'.') {
      InDecimals = true;
    } else if (C == u',') {
      P.Thousands = true;
    } else if ((C == u'E' || C == u'e') && I + 1 < S.size() && (S[I + 1] == u'+' || S[I + 1] == u'-')) {
      P.Scientific = true;
      for (size_t J = I + 2; J < S.size() && S[J] == u'0'; ++J) ++P.ExpDigits;
      P.ExpDigits = std::min<Integer>(P.ExpDigits, 4);
      break;
    }
  }
  P.MinInt = FirstZero < 0 ? 0 : P.IntPlaces - FirstZero;
  return P;
}

// Formats |V| with one section; RoundedZero tells whether nothing but zeros remained.
String FormatSection(const String& S, const TValue& V, const TFormatSettings& FS, bool& RoundedZero) {
  TSection P = ParseSection(S);
  const Integer MaxDigits = V.IsCurrency ? MaxCurrencyDigits : 15;
  TRec R;
  String IntDigits;
  Integer FracSig = 0;
  Integer FracBase = 0;  // record index of the first decimal
  Integer ExpValue = 0;
  if (P.Scientific) {
    Integer Precision = std::clamp<Integer>(P.IntPlaces + P.DecPlaces, 1, V.IsCurrency ? MaxCurrencyDigits : MaxFloatDigits);
    R = Decimal(V, Precision, 9999);
    if (R.Count == 0) {
      // Zero shows one integer digit even under "#": "#.###E-0" gives "0E0".
      IntDigits.assign(static_cast<size_t>(P.IntPlaces > 0 ? std::max<Integer>(P.MinInt, 1) : 0), u'0');
    } else {
      for (Integer I = 0; I < P.IntPlaces; ++I) IntDigits += static_cast<Char>(DigitAt(R, I));
      ExpValue = R.Exponent - P.IntPlaces;
    }
    FracBase = P.IntPlaces;
    FracSig = std::max<Integer>(0, R.Count - P.IntPlaces);
  } else {
    R = Decimal(V, MaxDigits, P.DecPlaces);
    if (!V.IsCurrency && R.Exponent > 18) {
      RoundedZero = false;
      TValue Abs = V;
      Abs.Float = std::fabs(V.Float);
      return FormatValue(Abs, ffGeneral, 15, 0, FS);
    }
    for (Integer I = 0; I < R.Exponent; ++I) IntDigits += static_cast<Char>(DigitAt(R, I));
    if (static_cast<Integer>(IntDigits.size()) < P.MinInt)
      IntDigits.insert(0, static_cast<size_t>(P.MinInt) - IntDigits.size(), u'0');
    FracBase = R.Exponent;
    FracSig = std::max<Integer>(0, R.Count - R.Exponent);
  }
  RoundedZero = R.Count == 0;
  const Integer FracShown = std::max(P.MinDec, std::min(FracSig, P.DecPlaces));
  const Integer Len = static_cast<Integer>(IntDigits.size());
  const Integer Extra = Len - P.IntPlaces;
  const Char Sep = P.Thousands ? FS.ThousandSeparator : Char(0);

  String Out;
  auto EmitInt = [&](Integer Pos) {
    Out += IntDigits[static_cast<size_t>(Pos)];
    Integer Left = Len - 1 - Pos;
    if (Sep != 0 && Left > 0 && Left % 3 == 0) Out += Sep;
  };
  bool IntDone = false;  // the digits that exceed the placeholders were written
  auto EmitExtra = [&]() {
    if (IntDone) return;
    IntDone = true;
    for (Integer I = 0; I < Extra; ++I) EmitInt(I);
  };
  bool InDecimals = false;
  bool ExpDone = false;
  Integer IntIdx = 0;
  Integer DecIdx = 0;
  for (size_t I = 0; I < S.size(); ++I) {
    Char C = S[I];
    if (C == u'"' || C == u'\'') {
      size_t J = S.find(C, I + 1);
      size_t End = J == String::npos ? S.size() : J;
      Out.append(S, I + 1, End - I - 1);
      I = End;
    } else if ((C == u'0' || C == u'#') && !ExpDone) {
      if (!InDecimals) {
        EmitExtra();
        Integer Pos = IntIdx + Extra;
        if (Pos >= 0) EmitInt(Pos);
        ++IntIdx;
      } else {
        if (DecIdx < FracShown) Out += static_cast<Char>(DigitAt(R, FracBase + DecIdx));
        ++DecIdx;
      }
    } else if (C == u'.' && !ExpDone) {
      if (!InDecimals) {
        EmitExtra();
        InDecimals = true;
        if (FracShown > 0) Out += FS.DecimalSeparator;
      }
    } else if (C == u',' && !ExpDone) {
      // grouping is done with the digits
    } else if (P.Scientific && !ExpDone && (C == u'E' || C == u'e') && I + 1 < S.size() &&
               (S[I + 1] == u'+' || S[I + 1] == u'-')) {
      EmitExtra();
      ExpDone = true;
      Out += C;
      if (ExpValue < 0)
        Out += u'-';
      else if (S[I + 1] == u'+')
        Out += u'+';
      AppendInt(Out, ExpValue, P.ExpDigits);
      I += 1;
      for (Integer K = 0; K < P.ExpDigits; ++K) ++I;
      while (I + 1 < S.size() && S[I + 1] == u'0') ++I;  // zeros beyond four
    } else {
      Out += C;
    }
  }
  return Out;
}

std::vector<String> SplitSections(const String& Picture) {
  std::vector<String> Sections(1);
  for (size_t I = 0; I < Picture.size(); ++I) {
    Char C = Picture[I];
    if (C == u'"' || C == u'\'') {
      size_t J = Picture.find(C, I + 1);
      size_t End = J == String::npos ? Picture.size() - 1 : J;
      Sections.back().append(Picture, I, End - I + 1);
      I = End;
    } else if (C == u';') {
      if (Sections.size() == 3) break;
      Sections.emplace_back();
    } else {
      Sections.back() += C;
    }
  }
  return Sections;
}

}  // namespace

TRec Decimal(const TValue& V, Integer Precision, Integer Decimals) {
  TRec R;
  Integer MaxDigits;
  if (V.IsCurrency) {
    MaxDigits = MaxCurrencyDigits;
    R.Negative = V.Raw < 0;
    UInt64 A = R.Negative ? 0 - static_cast<UInt64>(V.Raw) : static_cast<UInt64>(V.Raw);
    if (A != 0) {
      std::string T = std::to_string(A);
      R.Count = static_cast<Integer>(T.size());
      std::copy(T.begin(), T.end(), R.Digits);
      R.Exponent = R.Count - 4;
    }
  } else {
    MaxDigits = MaxFloatDigits;
    double F = V.Float;
    if (std::isnan(F)) {
      R.Kind = TRec::kNaN;
      return R;
    }
    R.Negative = std::signbit(F);
    if (std::isinf(F)) {
      R.Kind = TRec::kInf;
      return R;
    }
    if (F != 0) {
      // 18 significant digits, correctly rounded from the binary value.
      char Buf[40];
      std::snprintf(Buf, sizeof Buf, "%.17e", std::fabs(F));
      R.Digits[0] = Buf[0];
      for (Integer I = 1; I < 18; ++I) R.Digits[I] = Buf[I + 1];
      R.Count = 18;
      R.Exponent = std::atoi(Buf + 20) + 1;
    }
  }
  Precision = std::clamp<Integer>(Precision, 1, MaxDigits);
  Int64 N = std::min<Int64>(Precision, static_cast<Int64>(R.Exponent) + Decimals);
  if (R.Count > 0) RoundAt(R, static_cast<Integer>(std::max<Int64>(N, -1)));
  while (R.Count > 0 && R.Digits[R.Count - 1] == '0') --R.Count;
  if (R.Count == 0) {
    R.Negative = false;
    R.Exponent = 0;
  }
  return R;
}

String FormatValue(const TValue& V, TFloatFormat Format, Integer Precision, Integer Digits, const TFormatSettings& FS) {
  const Integer MaxDigits = V.IsCurrency ? MaxCurrencyDigits : MaxFloatDigits;
  Precision = std::clamp<Integer>(Precision, 1, MaxDigits);
  const Char DecSep = FS.DecimalSeparator;
  switch (Format) {
    case ffGeneral: {
      Digits = std::clamp<Integer>(Digits, 0, 4);
      TRec R = Decimal(V, Precision, 9999);
      if (R.Kind != TRec::kFinite) return Special(R);
      if (R.Count == 0) return u"0";
      if (R.Exponent > Precision || R.Exponent < -3) return ExponentForm(R, 1, false, Digits, DecSep);
      String S;
      if (R.Negative) S += u'-';
      if (R.Exponent <= 0) {
        S += u'0';
        S += DecSep;
        S.append(static_cast<size_t>(-R.Exponent), u'0');
        for (Integer I = 0; I < R.Count; ++I) S += static_cast<Char>(R.Digits[I]);
      } else {
        for (Integer I = 0; I < R.Exponent; ++I) S += static_cast<Char>(DigitAt(R, I));
        if (R.Count > R.Exponent) {
          S += DecSep;
          for (Integer I = R.Exponent; I < R.Count; ++I) S += static_cast<Char>(R.Digits[I]);
        }
      }
      return S;
    }
    case ffExponent: {
      Digits = std::clamp<Integer>(Digits, 0, 4);
      TRec R = Decimal(V, Precision, 9999);
      if (R.Kind != TRec::kFinite) return Special(R);
      return ExponentForm(R, Precision, true, std::max<Integer>(Digits, 1), DecSep);
    }
    case ffFixed:
    case ffNumber:
    case ffCurrency: {
      Digits = std::clamp<Integer>(Digits, 0, MaxDigits);
      TRec R = Decimal(V, Precision, Digits);
      if (R.Kind != TRec::kFinite) return Special(R);
      if (R.Exponent > Precision) return FormatValue(V, ffGeneral, Precision, 0, FS);
      String S = IntegerPart(R, Format == ffFixed ? Char(0) : FS.ThousandSeparator);
      if (Digits > 0) {
        S += DecSep;
        for (Integer I = 0; I < Digits; ++I) S += static_cast<Char>(DigitAt(R, R.Exponent + I));
      }
      if (Format == ffCurrency) return CurrencyPattern(S, R.Negative, FS);
      return R.Negative ? u"-" + S : S;
    }
  }
  return String();
}

String FormatPicture(const String& Picture, const TValue& V, const TFormatSettings& FS) {
  if (Picture.empty()) return FormatValue(V, ffGeneral, V.IsCurrency ? MaxCurrencyDigits : 15, 0, FS);
  if (!V.IsCurrency && !std::isfinite(V.Float)) return Special(Decimal(V, 15, 0));
  std::vector<String> Sections = SplitSections(Picture);
  auto Has = [&](size_t I) { return Sections.size() > I && !Sections[I].empty(); };
  // Sections format the magnitude (the digits of a Currency ignore its sign).
  TValue Abs = V;
  if (!V.IsCurrency) Abs.Float = std::fabs(V.Float);
  const bool Negative = IsNegativeValue(V);
  size_t Index = 0;
  if (IsZeroValue(V) && Has(2))
    Index = 2;
  else if (Negative && Has(1))
    Index = 1;
  bool RoundedZero = false;
  String Out = FormatSection(Sections[Index], Abs, FS, RoundedZero);
  if (RoundedZero && Index != 2 && Has(2)) {
    TValue Zero = V.IsCurrency ? TValue::Of(Currency()) : TValue::Of(0.0);
    return FormatSection(Sections[2], Zero, FS, RoundedZero);
  }
  if (Negative && Index == 0 && !RoundedZero) Out.insert(0, 1, u'-');
  return Out;
}

}  // namespace FloatDecimal
