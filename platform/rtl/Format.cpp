#include "platform/rtl/Format.h"

#include <string>

#include "platform/rtl/CodePages.h"
#include "platform/rtl/Conversions.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/FloatDecimal.h"
#include "platform/rtl/Locale.h"

namespace {

constexpr Integer MaxFieldSize = 1 << 20;  // widths and precisions beyond this are refused

class TFormatter {
 public:
  TFormatter(const String& Fmt, const TVarRec* Args, size_t Count, const TFormatSettings& FS)
      : FFmt(Fmt), FArgs(Args), FCount(Count), FFS(FS) {}

  String Run() {
    const size_t N = FFmt.size();
    for (FPos = 0; FPos < N; ++FPos) {
      Char C = FFmt[FPos];
      if (C != u'%') {
        FOut += C;
        continue;
      }
      if (++FPos >= N) Fail();
      if (FFmt[FPos] == u'%') {
        FOut += u'%';
        continue;
      }
      Specifier();
    }
    return FOut;
  }

 private:
  [[noreturn]] void Fail() const { throw EConvertError(u"Format '" + FFmt + u"' invalid or incompatible with argument"); }

  const TVarRec& NextArg() {
    if (FArgIndex >= FCount) Fail();
    return FArgs[FArgIndex++];
  }

  // An integer argument for "*".
  Integer StarArg() {
    const TVarRec& A = NextArg();
    if (A.VType == TVarRec::vtInteger) return A.VInteger;
    if (A.VType == TVarRec::vtInt64 && A.VInt64 >= INT32_MIN && A.VInt64 <= INT32_MAX)
      return static_cast<Integer>(A.VInt64);
    Fail();
  }

  // Digits or "*" at the current position; false when neither is there.
  bool Number(Integer& V) {
    const size_t N = FFmt.size();
    if (FPos < N && FFmt[FPos] == u'*') {
      ++FPos;
      V = StarArg();
      return true;
    }
    if (FPos >= N || FFmt[FPos] < u'0' || FFmt[FPos] > u'9') return false;
    V = 0;
    while (FPos < N && FFmt[FPos] >= u'0' && FFmt[FPos] <= u'9') {
      V = V * 10 + (FFmt[FPos] - u'0');
      if (V > MaxFieldSize) Fail();
      ++FPos;
    }
    return true;
  }

  void Specifier() {
    const size_t N = FFmt.size();
    // [index ":"]
    size_t Start = FPos;
    size_t SavedArg = FArgIndex;
    Integer V = 0;
    if (Number(V) && FPos < N && FFmt[FPos] == u':') {
      if (V < 0) Fail();
      FArgIndex = static_cast<size_t>(V);
      ++FPos;
    } else {
      FPos = Start;
      FArgIndex = SavedArg;
    }
    bool Left = false;
    while (FPos < N && FFmt[FPos] == u'-') {
      Left = true;
      ++FPos;
    }
    Integer Width = 0;
    if (Number(Width) && Width < 0) Width = 0;
    Integer Prec = -1;  // none
    if (FPos < N && FFmt[FPos] == u'.') {
      ++FPos;
      Prec = 0;
      if (Number(Prec) && Prec < 0) Prec = -1;
    }
    if (FPos >= N) Fail();
    Char Type = FFmt[FPos];
    if (Type >= u'a' && Type <= u'z') Type = static_cast<Char>(Type - 32);
    String Text = Convert(Type, Prec);
    if (Width > 0 && static_cast<Integer>(Text.size()) < Width) {
      size_t Pad = static_cast<size_t>(Width) - Text.size();
      if (Left)
        Text.append(Pad, u' ');
      else
        Text.insert(0, Pad, u' ');
    }
    FOut += Text;
  }

  String Convert(Char Type, Integer Prec) {
    const TVarRec& A = NextArg();
    switch (Type) {
      case u'D':
      case u'U': {
        UInt64 Mag;
        bool Negative = false;
        if (A.VType == TVarRec::vtInteger) {
          if (Type == u'U') {
            Mag = static_cast<Cardinal>(A.VInteger);
          } else {
            Negative = A.VInteger < 0;
            Mag = Negative ? 0 - static_cast<UInt64>(static_cast<Int64>(A.VInteger)) : static_cast<UInt64>(A.VInteger);
          }
        } else if (A.VType == TVarRec::vtInt64) {
          if (Type == u'U') {
            Mag = static_cast<UInt64>(A.VInt64);
          } else {
            Negative = A.VInt64 < 0;
            Mag = Negative ? 0 - static_cast<UInt64>(A.VInt64) : static_cast<UInt64>(A.VInt64);
          }
        } else {
          Fail();
        }
        String S = UIntToStr(Mag);
        if (Prec > 0 && static_cast<Integer>(S.size()) < Prec) S.insert(0, static_cast<size_t>(Prec) - S.size(), u'0');
        return Negative ? u"-" + S : S;
      }
      case u'X': {
        if (A.VType == TVarRec::vtInteger) return IntToHex(A.VInteger, Prec > 0 ? Prec : 0);
        if (A.VType == TVarRec::vtInt64) return IntToHex(A.VInt64, Prec > 0 ? Prec : 0);
        Fail();
      }
      case u'E':
      case u'F':
      case u'G':
      case u'N':
      case u'M': {
        FloatDecimal::TValue V;
        if (A.VType == TVarRec::vtExtended)
          V = FloatDecimal::TValue::Of(A.VExtended);
        else if (A.VType == TVarRec::vtCurrency)
          V = FloatDecimal::TValue::Of(Currency::FromRaw(A.VCurrency));
        else
          Fail();
        const Integer Fixed = V.IsCurrency ? 19 : 18;
        switch (Type) {
          case u'E': return FloatDecimal::FormatValue(V, ffExponent, Prec < 0 ? 15 : Prec, 3, FFS);
          case u'F': return FloatDecimal::FormatValue(V, ffFixed, Fixed, Prec < 0 ? 2 : Prec, FFS);
          case u'G': return FloatDecimal::FormatValue(V, ffGeneral, Prec < 0 ? 15 : Prec, 0, FFS);
          case u'N': return FloatDecimal::FormatValue(V, ffNumber, Fixed, Prec < 0 ? 2 : Prec, FFS);
          default: return FloatDecimal::FormatValue(V, ffCurrency, Fixed, Prec < 0 ? FFS.CurrencyDecimals : Prec, FFS);
        }
      }
      case u'P': {
        const void* P;
        if (A.VType == TVarRec::vtPointer)
          P = A.VPointer;
        else if (A.VType == TVarRec::vtPChar)
          P = A.VPChar;
        else if (A.VType == TVarRec::vtPWideChar)
          P = A.VPWideChar;
        else
          Fail();
        return IntToHex(static_cast<UInt64>(reinterpret_cast<uintptr_t>(P)), static_cast<Integer>(sizeof(void*) * 2));
      }
      case u'S': {
        String S;
        switch (A.VType) {
          case TVarRec::vtUnicodeString: S = *A.VUnicodeString; break;
          case TVarRec::vtPWideChar:
            if (A.VPWideChar) S = A.VPWideChar;
            break;
          case TVarRec::vtAnsiString: S = AnsiToString(*A.VAnsiString); break;
          case TVarRec::vtPChar:
            if (A.VPChar) S = AnsiToString(AnsiString(A.VPChar));
            break;
          case TVarRec::vtChar: S = AnsiToString(AnsiString(1, A.VChar)); break;
          case TVarRec::vtWideChar: S = String(1, A.VWideChar); break;
          default: Fail();
        }
        if (Prec >= 0 && static_cast<Integer>(S.size()) > Prec) S.resize(static_cast<size_t>(Prec));
        return S;
      }
      default: Fail();
    }
  }

  const String& FFmt;
  const TVarRec* FArgs;
  size_t FCount;
  const TFormatSettings& FFS;
  size_t FPos = 0;
  size_t FArgIndex = 0;
  String FOut;
};

}  // namespace

String Format(const String& Fmt, const TVarRec* Args, size_t Count, const TFormatSettings& FS) {
  return TFormatter(Fmt, Args, Count, FS).Run();
}

String Format(const String& Fmt, const TVarRec* Args, size_t Count) { return Format(Fmt, Args, Count, FormatSettings()); }

String Format(const String& Fmt, std::initializer_list<TVarRec> Args, const TFormatSettings& FS) {
  return Format(Fmt, Args.begin(), Args.size(), FS);
}

String Format(const String& Fmt, std::initializer_list<TVarRec> Args) {
  return Format(Fmt, Args.begin(), Args.size(), FormatSettings());
}

void FmtStr(String& Result, const String& Fmt, std::initializer_list<TVarRec> Args) { Result = Format(Fmt, Args); }
