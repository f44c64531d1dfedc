// TSQLTimeStamp: the 16-byte date-and-time record of data sets, its
// TDateTime and text conversions, and the SQL time-stamp variant type.
#pragma once

#include "platform/rtl/Types.h"
#include "platform/rtl/Variants.h"

struct TFormatSettings;

struct TSQLTimeStamp {
  SmallInt Year = 0;
  Word Month = 0;
  Word Day = 0;
  Word Hour = 0;
  Word Minute = 0;
  Word Second = 0;
  LongWord Fractions = 0;  // milliseconds

  friend bool operator==(const TSQLTimeStamp&, const TSQLTimeStamp&) = default;
};
static_assert(sizeof(TSQLTimeStamp) == 16);

// The blank record: all fields zero. It stands for "no value" and converts to 0.
inline constexpr TSQLTimeStamp NullSQLTimeStamp{};

bool IsSQLTimeStampBlank(const TSQLTimeStamp& TimeStamp);
// Valid: blank, or year 1..9999, month 1..12, a day of that month, hour
// 0..23, minute and second 0..59, fractions 0..999. CheckSqlTimeStamp raises
// EConvertError "Invalid SQL date/time values" otherwise.
bool IsValidSQLTimeStamp(const TSQLTimeStamp& TimeStamp);
void CheckSqlTimeStamp(const TSQLTimeStamp& TimeStamp);

// Blank gives 0; an invalid record gives False / raises EConvertError.
bool TrySQLTimeStampToDateTime(const TSQLTimeStamp& TimeStamp, TDateTime& DateTime);
TDateTime SQLTimeStampToDateTime(const TSQLTimeStamp& TimeStamp);
// To the millisecond. A date before 0001-01-01 gives a record with a zero date.
TSQLTimeStamp DateTimeToSQLTimeStamp(TDateTime DateTime);

// FormatDateTime of the record's date and time; an empty Format is "c" (the
// short date, and the long time unless midnight). EConvertError when invalid.
String SQLTimeStampToStr(const String& Format, const TSQLTimeStamp& TimeStamp);
String SQLTimeStampToStr(const String& Format, const TSQLTimeStamp& TimeStamp, const TFormatSettings& FS);
// Text in the locale's date-and-time syntax (as StrToDateTime reads it).
// StrToSQLTimeStamp raises EConvertError "'%s' is not a valid SQL time stamp".
bool TryStrToSQLTimeStamp(const String& S, TSQLTimeStamp& TimeStamp);
bool TryStrToSQLTimeStamp(const String& S, TSQLTimeStamp& TimeStamp, const TFormatSettings& FS);
TSQLTimeStamp StrToSQLTimeStamp(const String& S);
TSQLTimeStamp StrToSQLTimeStamp(const String& S, const TFormatSettings& FS);

// ---- The SQL time-stamp variant type ----
// Converts to text, date and double; from dates, numbers and date text;
// compares field by field with other time stamps, dates and date text;
// adding or subtracting days gives a time stamp, the difference of two
// moments a double.
TVarType VarSQLTimeStamp();
bool VarIsSQLTimeStamp(const Variant& V);
Variant VarSQLTimeStampCreate();  // the blank record
Variant VarSQLTimeStampCreate(const TSQLTimeStamp& TimeStamp);
Variant VarSQLTimeStampCreate(TDateTime Value);
Variant VarSQLTimeStampCreate(const String& Value);
// Any non-Null variant as a record; EVariantTypeCastError when it is no date.
TSQLTimeStamp VarToSQLTimeStamp(const Variant& V);
