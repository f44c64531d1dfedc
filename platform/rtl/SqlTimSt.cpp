#include "platform/rtl/SqlTimSt.h"

#include <cstring>

#include "platform/rtl/DateTime.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Locale.h"

bool IsSQLTimeStampBlank(const TSQLTimeStamp& TimeStamp) { return TimeStamp == NullSQLTimeStamp; }

bool IsValidSQLTimeStamp(const TSQLTimeStamp& T) {
  if (IsSQLTimeStampBlank(T)) return true;
  return T.Year >= 1 && T.Year <= 9999 && T.Month >= 1 && T.Month <= 12 && T.Day >= 1 &&
         T.Day <= DaysInAMonth(static_cast<Word>(T.Year), T.Month) && T.Hour <= 23 && T.Minute <= 59 &&
         T.Second <= 59 && T.Fractions <= 999;
}

void CheckSqlTimeStamp(const TSQLTimeStamp& TimeStamp) {
  if (!IsValidSQLTimeStamp(TimeStamp)) throw EConvertError(u"Invalid SQL date/time values");
}

bool TrySQLTimeStampToDateTime(const TSQLTimeStamp& T, TDateTime& DateTime) {
  if (!IsValidSQLTimeStamp(T)) return false;
  if (IsSQLTimeStampBlank(T)) {
    DateTime = 0;
    return true;
  }
  return TryEncodeDateTime(static_cast<Word>(T.Year), T.Month, T.Day, T.Hour, T.Minute, T.Second,
                           static_cast<Word>(T.Fractions), DateTime);
}

TDateTime SQLTimeStampToDateTime(const TSQLTimeStamp& TimeStamp) {
  CheckSqlTimeStamp(TimeStamp);
  TDateTime Result = 0;
  TrySQLTimeStampToDateTime(TimeStamp, Result);
  return Result;
}

TSQLTimeStamp DateTimeToSQLTimeStamp(TDateTime DateTime) {
  Word Y, M, D, H, N, S, Ms;
  DecodeDateTime(DateTime, Y, M, D, H, N, S, Ms);
  TSQLTimeStamp T;
  T.Year = static_cast<SmallInt>(Y);
  T.Month = M;
  T.Day = D;
  T.Hour = H;
  T.Minute = N;
  T.Second = S;
  T.Fractions = Ms;
  return T;
}

String SQLTimeStampToStr(const String& Format, const TSQLTimeStamp& TimeStamp, const TFormatSettings& FS) {
  return FormatDateTime(Format, SQLTimeStampToDateTime(TimeStamp), FS);
}

String SQLTimeStampToStr(const String& Format, const TSQLTimeStamp& TimeStamp) {
  return SQLTimeStampToStr(Format, TimeStamp, FormatSettings());
}

bool TryStrToSQLTimeStamp(const String& S, TSQLTimeStamp& TimeStamp, const TFormatSettings& FS) {
  TDateTime D;
  if (!TryStrToDateTime(S, D, FS)) return false;
  TimeStamp = DateTimeToSQLTimeStamp(D);
  return true;
}

bool TryStrToSQLTimeStamp(const String& S, TSQLTimeStamp& TimeStamp) {
  return TryStrToSQLTimeStamp(S, TimeStamp, FormatSettings());
}

TSQLTimeStamp StrToSQLTimeStamp(const String& S, const TFormatSettings& FS) {
  TSQLTimeStamp T;
  if (!TryStrToSQLTimeStamp(S, T, FS)) throw EConvertError(u"'" + S + u"' is not a valid SQL time stamp");
  return T;
}

TSQLTimeStamp StrToSQLTimeStamp(const String& S) { return StrToSQLTimeStamp(S, FormatSettings()); }

// ---- The variant type ----------------------------------------------------------------

namespace {

TSQLTimeStamp StampOf(const Variant& V) {
  TSQLTimeStamp T;
  std::memcpy(&T, V.CustomData(), sizeof T);
  return T;
}

Integer CompareStamps(const TSQLTimeStamp& A, const TSQLTimeStamp& B) {
  auto Cmp = [](auto X, auto Y) { return X < Y ? -1 : (Y < X ? 1 : 0); };
  if (Integer C = Cmp(A.Year, B.Year)) return C;
  if (Integer C = Cmp(A.Month, B.Month)) return C;
  if (Integer C = Cmp(A.Day, B.Day)) return C;
  if (Integer C = Cmp(A.Hour, B.Hour)) return C;
  if (Integer C = Cmp(A.Minute, B.Minute)) return C;
  if (Integer C = Cmp(A.Second, B.Second)) return C;
  return Cmp(A.Fractions, B.Fractions);
}

class TSQLTimeStampVariantType final : public TCustomVariantType {
 public:
  TSQLTimeStampVariantType() : TCustomVariantType(u"SQLTimeStamp") {}
  size_t DataSize() const override { return sizeof(TSQLTimeStamp); }

  Variant Make(const TSQLTimeStamp& T) const { return Variant::CreateCustom(VarType(), &T, sizeof T); }

  TDateTime DateOf(const Variant& Source, TVarType Dest) const {
    TDateTime D;
    if (!TrySQLTimeStampToDateTime(StampOf(Source), D)) VarCastError(VarType(), Dest);
    return D;
  }

  Variant CastTo(const Variant& Source, TVarType AVarType) const override {
    switch (AVarType) {
      case varOleStr:
      case varUString:
      case varString:
        if (!IsValidSQLTimeStamp(StampOf(Source))) VarCastError(VarType(), AVarType);
        return VarAsType(Variant(SQLTimeStampToStr(String(), StampOf(Source))), AVarType);
      case varDate:
        return VarFromDateTime(DateOf(Source, AVarType));
      case varBoolean:
        VarCastError(VarType(), AVarType);
      default:
        return VarAsType(Variant(DateOf(Source, AVarType)), AVarType);
    }
  }

  TSQLTimeStamp ToStamp(const Variant& Source) const {
    TVarType T = Source.VType();
    if (T == VarType()) return StampOf(Source);
    if (T == varNull) VarCastError(T, VarType());
    if (VarIsStr(Source)) {
      TSQLTimeStamp S;
      if (!TryStrToSQLTimeStamp(Source.AsString(), S)) VarCastError(T, VarType());
      return S;
    }
    if (T == varBoolean || VarIsArray(Source)) VarCastError(T, VarType());
    return DateTimeToSQLTimeStamp(Source.AsDateTime());
  }

  Variant Cast(const Variant& Source) const override { return Make(ToStamp(Source)); }

  Integer Compare(const Variant& Left, const Variant& Right) const override {
    return CompareStamps(StampOf(Left), StampOf(Right));
  }

  // Days added to or taken from a moment give a time stamp; the difference
  // of two moments is a number of days.
  Variant BinaryOp(const Variant& Left, const Variant& Right, TVarOp Op) const override {
    if (Op != opAdd && Op != opSubtract) VarInvalidOp();
    auto IsMoment = [this](const Variant& V) { return V.VType() == VarType() || V.VType() == varDate; };
    auto DateOfAny = [this](const Variant& V) {
      return V.VType() == VarType() ? DateOf(V, varDate) : V.AsDateTime();
    };
    double L = DateOfAny(Left), R = DateOfAny(Right);
    if (Op == opSubtract) {
      if (IsMoment(Left) && IsMoment(Right)) return Variant(L - R);
      return Make(DateTimeToSQLTimeStamp(L - R));
    }
    return Make(DateTimeToSQLTimeStamp(L + R));
  }
};

const TSQLTimeStampVariantType& StampType() {
  static const TSQLTimeStampVariantType* T = new TSQLTimeStampVariantType;  // lives for the whole process
  return *T;
}

}  // namespace

TVarType VarSQLTimeStamp() { return StampType().VarType(); }

bool VarIsSQLTimeStamp(const Variant& V) { return V.VType() == VarSQLTimeStamp(); }

Variant VarSQLTimeStampCreate() { return StampType().Make(NullSQLTimeStamp); }

Variant VarSQLTimeStampCreate(const TSQLTimeStamp& TimeStamp) { return StampType().Make(TimeStamp); }

Variant VarSQLTimeStampCreate(TDateTime Value) { return StampType().Make(DateTimeToSQLTimeStamp(Value)); }

Variant VarSQLTimeStampCreate(const String& Value) { return StampType().Make(StrToSQLTimeStamp(Value)); }

TSQLTimeStamp VarToSQLTimeStamp(const Variant& V) { return StampType().ToStamp(V); }
