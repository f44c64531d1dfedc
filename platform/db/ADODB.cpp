// The ADO-style components on SQLite.
#include "platform/db/ADODB.h"

#include <sqlite3.h>
#include <sys/stat.h>

#include <cerrno>

#include <algorithm>
#include <cmath>
#include <unordered_map>

#include "platform/classes/ClassRegistry.h"
#include "platform/classes/StringLists.h"
#include "platform/classes/TypInfoBuild.h"
#include "platform/db/DBPublish.h"
#include "platform/rtl/CodePages.h"
#include "platform/rtl/Conversions.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/Finally.h"
#include "platform/rtl/Format.h"
#include "platform/rtl/Locale.h"
#include "platform/rtl/Strings.h"

using namespace dbconsts;

namespace {

std::string U8(const String& S) { return UTF16ToUTF8(S); }
String U16(const char* S) { return S ? UTF8ToUTF16(S) : String(); }

String QuoteIdent(const String& Name) {
  String out = u"\"";
  for (Char c : Name) {
    if (c == u'"') out.push_back(u'"');
    out.push_back(c);
  }
  out.push_back(u'"');
  return out;
}

// SQLite's message for the last failure on Db; a write that failed for want
// of room (a full disk, a quota, a file-size limit) says so.
String ErrorText(sqlite3* Db) {
  const int code = sqlite3_extended_errcode(Db);
  const int err = sqlite3_system_errno(Db);
  if ((code & 0xFF) == SQLITE_FULL || err == ENOSPC || err == EFBIG || err == EDQUOT)
    return u"the disk is full (" + U16(sqlite3_errmsg(Db)) + u")";
  return U16(sqlite3_errmsg(Db));
}

// Runs one or more statements that return no rows.
void ExecSimple(TADOConnection* C, const char* Sql, const String& Context) {
  char* err = nullptr;
  if (sqlite3_exec(C->Handle(), Sql, nullptr, nullptr, &err) != SQLITE_OK) {
    String msg = ErrorText(C->Handle());
    sqlite3_free(err);
    DatabaseError(Context.empty() ? msg : Context + u": " + msg, C);
  }
}

// The field type of a declared column type (SQLite keeps the declaration).
TFieldType FieldTypeOfDecl(const String& Decl, bool AutoInc, Integer& Size) {
  String d = UpperCase(Trim(Decl));
  Size = 0;
  size_t paren = d.find(u'(');
  String base = Trim(paren == String::npos ? d : d.substr(0, paren));
  if (paren != String::npos) {
    size_t close = d.find(u')', paren);
    String num = Trim(d.substr(paren + 1, (close == String::npos ? d.size() : close) - paren - 1));
    size_t comma = num.find(u',');
    if (comma != String::npos) num = Trim(num.substr(0, comma));
    Integer n;
    if (TryStrToInt(num, n) && n > 0 && n < 1000000) Size = n;
  }
  auto is = [&](std::initializer_list<const char16_t*> names) {
    for (const char16_t* n : names)
      if (base == n) return true;
    return false;
  };
  if (is({u"COUNTER", u"AUTOINCREMENT", u"AUTOINC"})) return ftAutoInc;
  if (is({u"INTEGER", u"INT", u"LONG", u"INT32", u"MEDIUMINT"})) return AutoInc ? ftAutoInc : ftInteger;
  if (is({u"SMALLINT", u"SHORT", u"INT16"})) return ftSmallint;
  if (is({u"WORD", u"UNSIGNED SMALLINT"})) return ftWord;
  if (is({u"TINYINT", u"BYTE"})) return ftByte;
  if (is({u"BIGINT", u"INT64", u"LARGEINT"})) return ftLargeint;
  if (is({u"BOOLEAN", u"BOOL", u"BIT", u"YESNO", u"LOGICAL"})) return ftBoolean;
  if (is({u"FLOAT", u"DOUBLE", u"DOUBLE PRECISION", u"REAL", u"SINGLE", u"NUMBER"})) return ftFloat;
  if (is({u"CURRENCY", u"MONEY"})) return ftCurrency;
  if (is({u"DECIMAL", u"NUMERIC"})) return ftFMTBcd;
  // "DATETIME REAL": a date column of REAL affinity (whole days stay real).
  if (is({u"DATETIME", u"TIMESTAMP", u"DATETIME REAL"})) return ftDateTime;
  if (is({u"DATE"})) return ftDate;
  if (is({u"TIME"})) return ftTime;
  if (is({u"GUID", u"UNIQUEIDENTIFIER"})) return ftGuid;
  if (is({u"NVARCHAR", u"NCHAR", u"NATIONAL VARCHAR"})) {
    if (Size == 0) Size = 255;
    return ftWideString;
  }
  if (is({u"VARCHAR", u"CHAR", u"CHARACTER", u"TEXT", u"STRING"}) && Size > 0) return ftString;
  if (is({u"TEXT", u"MEMO", u"CLOB", u"LONGTEXT", u"NTEXT"})) return ftWideMemo;
  if (is({u"BLOB", u"LONGBINARY", u"BINARY", u"VARBINARY", u"IMAGE", u"OLEOBJECT"})) return ftBlob;
  // SQLite's affinity rules for anything else.
  if (d.find(u"INT") != String::npos) return ftLargeint;
  if (d.find(u"CHAR") != String::npos || d.find(u"CLOB") != String::npos || d.find(u"TEXT") != String::npos) {
    Size = Size ? Size : 255;
    return ftWideString;
  }
  if (d.empty() || d.find(u"BLOB") != String::npos) return ftUnknown;  // decided by the data
  return ftFloat;
}

// Reads "YYYY-MM-DD[ HH:MM[:SS[.fff]]]" (also with "T").
bool ParseIsoDateTime(const String& S, TDateTime& Out) {
  unsigned y = 0, mo = 0, d = 0, h = 0, mi = 0, se = 0, ms = 0;
  std::string a = U8(Trim(S));
  int n = 0;
  if (std::sscanf(a.c_str(), "%4u-%2u-%2u%n", &y, &mo, &d, &n) != 3) return false;
  size_t p = static_cast<size_t>(n);
  if (p < a.size() && (a[p] == ' ' || a[p] == 'T')) {
    int m = 0;
    if (std::sscanf(a.c_str() + p + 1, "%2u:%2u%n", &h, &mi, &m) != 2) return false;
    p += 1 + static_cast<size_t>(m);
    if (p < a.size() && a[p] == ':') {
      int k = 0;
      if (std::sscanf(a.c_str() + p + 1, "%2u%n", &se, &k) != 1) return false;
      p += 1 + static_cast<size_t>(k);
      if (p < a.size() && a[p] == '.') {
        int f = 0;
        unsigned frac = 0;
        if (std::sscanf(a.c_str() + p + 1, "%3u%n", &frac, &f) != 1) return false;
        ms = frac * (f == 1 ? 100 : f == 2 ? 10 : 1);
        p += 1 + static_cast<size_t>(f);
        while (p < a.size() && a[p] >= '0' && a[p] <= '9') ++p;
      }
    }
  }
  if (p != a.size()) return false;
  return TryEncodeDateTime(static_cast<Word>(y), static_cast<Word>(mo), static_cast<Word>(d),
                           static_cast<Word>(h), static_cast<Word>(mi), static_cast<Word>(se),
                           static_cast<Word>(ms), Out);
}

bool IsIntegerType(TFieldType T) {
  return T == ftInteger || T == ftSmallint || T == ftWord || T == ftAutoInc || T == ftLargeint ||
         T == ftByte || T == ftShortint || T == ftLongWord;
}
bool IsDateType(TFieldType T) { return T == ftDateTime || T == ftDate || T == ftTime || T == ftTimeStamp; }
bool IsFloatType(TFieldType T) {
  return T == ftFloat || T == ftCurrency || T == Db::ftSingle || T == Db::ftExtended;
}

// The value of column Col of the current row, as the field type keeps it.
Variant ColumnValue(sqlite3_stmt* S, int Col, TFieldType T) {
  int kind = sqlite3_column_type(S, Col);
  if (kind == SQLITE_NULL) return Null();
  if (kind == SQLITE_BLOB || T == ftBlob || T == ftGraphic || T == ftBytes || T == ftVarBytes) {
    const void* p = sqlite3_column_blob(S, Col);
    int n = sqlite3_column_bytes(S, Col);
    return Variant(AnsiString(static_cast<const char*>(p), static_cast<size_t>(n > 0 ? n : 0)));
  }
  if (IsIntegerType(T) && kind == SQLITE_INTEGER) {
    sqlite3_int64 v = sqlite3_column_int64(S, Col);
    // A value beyond the declared type is kept whole rather than cut.
    if (T == ftSmallint && v >= -32768 && v <= 32767) return Variant(static_cast<SmallInt>(v));
    if (T == ftWord && v >= 0 && v <= 65535) return Variant(static_cast<Word>(v));
    if (T == ftByte && v >= 0 && v <= 255) return Variant(static_cast<Byte>(v));
    if (T == ftLargeint) return Variant(static_cast<Int64>(v));
    if (v >= -2147483648LL && v <= 2147483647LL) return Variant(static_cast<Integer>(v));
    return Variant(static_cast<Int64>(v));
  }
  if (T == ftBoolean && (kind == SQLITE_INTEGER || kind == SQLITE_FLOAT))
    return Variant(sqlite3_column_double(S, Col) != 0);
  if (IsFloatType(T) && (kind == SQLITE_INTEGER || kind == SQLITE_FLOAT))
    return Variant(sqlite3_column_double(S, Col));
  if (T == ftBCD && (kind == SQLITE_INTEGER || kind == SQLITE_FLOAT))
    return Variant(Currency(sqlite3_column_double(S, Col)));
  if (IsDateType(T)) {
    if (kind == SQLITE_INTEGER || kind == SQLITE_FLOAT) return VarFromDateTime(sqlite3_column_double(S, Col));
    TDateTime dt;
    String text = U16(reinterpret_cast<const char*>(sqlite3_column_text(S, Col)));
    if (ParseIsoDateTime(text, dt)) return VarFromDateTime(dt);
    return Variant(text);
  }
  if (T == ftFMTBcd) {
    String text = U16(reinterpret_cast<const char*>(sqlite3_column_text(S, Col)));
    TBcd bcd;
    TFormatSettings fs = FormatSettings();
    fs.DecimalSeparator = u'.';
    if (TryStrToBcd(text, bcd, fs)) return VarFMTBcdCreate(bcd);
    return Variant(text);
  }
  if (T == ftUnknown) {
    if (kind == SQLITE_INTEGER) {
      sqlite3_int64 v = sqlite3_column_int64(S, Col);
      return v >= -2147483648LL && v <= 2147483647LL ? Variant(static_cast<Integer>(v))
                                                     : Variant(static_cast<Int64>(v));
    }
    if (kind == SQLITE_FLOAT) return Variant(sqlite3_column_double(S, Col));
  }
  return Variant(U16(reinterpret_cast<const char*>(sqlite3_column_text(S, Col))));
}

// Stores column Col of the current row as ColumnValue would give it, without
// making a variant for the common types (text stays UTF-8 until read). The
// column is read through its sqlite3_value, one call into the connection
// per column: the connection belongs to the thread that uses the data set.
void StoreColumn(TRowStore& Store, size_t Row, sqlite3_stmt* S, int Col, TFieldType T) {
  size_t c = static_cast<size_t>(Col);
  sqlite3_value* v = sqlite3_column_value(S, Col);
  int kind = sqlite3_value_type(v);
  if (kind == SQLITE_NULL) return;
  if (kind == SQLITE_BLOB || T == ftBlob || T == ftGraphic || T == ftBytes || T == ftVarBytes) {
    const void* p = sqlite3_value_blob(v);
    int n = sqlite3_value_bytes(v);
    Store.SetBytes(Row, c, static_cast<const char*>(p), static_cast<size_t>(p && n > 0 ? n : 0));
    return;
  }
  bool numeric = kind == SQLITE_INTEGER || kind == SQLITE_FLOAT;
  if (IsIntegerType(T) && kind == SQLITE_INTEGER) {
    sqlite3_int64 n = sqlite3_value_int64(v);
    // A value beyond the declared type is kept whole rather than cut.
    TVarType vt = n >= -2147483648LL && n <= 2147483647LL ? varInteger : varInt64;
    if (T == ftSmallint && n >= -32768 && n <= 32767)
      vt = varSmallint;
    else if (T == ftWord && n >= 0 && n <= 65535)
      vt = varWord;
    else if (T == ftByte && n >= 0 && n <= 255)
      vt = varByte;
    else if (T == ftLargeint)
      vt = varInt64;
    Store.SetInt(Row, c, vt, n);
    return;
  }
  if (T == ftBoolean && numeric) {
    Store.SetInt(Row, c, varBoolean, sqlite3_value_double(v) != 0);
    return;
  }
  if ((IsFloatType(T) || IsDateType(T)) && numeric) {
    Store.SetFloat(Row, c, IsDateType(T) ? varDate : varDouble, sqlite3_value_double(v));
    return;
  }
  if (T == ftUnknown && kind == SQLITE_INTEGER) {
    sqlite3_int64 n = sqlite3_value_int64(v);
    Store.SetInt(Row, c, n >= -2147483648LL && n <= 2147483647LL ? varInteger : varInt64, n);
    return;
  }
  if (T == ftUnknown && kind == SQLITE_FLOAT) {
    Store.SetFloat(Row, c, varDouble, sqlite3_value_double(v));
    return;
  }
  if ((T == ftBCD && numeric) || IsDateType(T) || T == ftFMTBcd) {
    Store.SetValue(Row, c, ColumnValue(S, Col, T));
    return;
  }
  const unsigned char* text = sqlite3_value_text(v);
  int n = sqlite3_value_bytes(v);
  Store.SetUtf8(Row, c, reinterpret_cast<const char*>(text), text && n > 0 ? static_cast<size_t>(n) : 0);
}

// Binds V at Index as type T would store it; raises with Name on a value
// the type cannot take.
void BindValue(TADOConnection* C, sqlite3_stmt* S, int Index, const Variant& V, TFieldType T,
               const String& Name) {
  int rc = SQLITE_OK;
  auto bad = [&](const String& What) { DatabaseError(Format(u"Parameter '%s': %s", {Name, What}), C); };
  if (VarIsNull(V) || VarIsEmpty(V)) {
    rc = sqlite3_bind_null(S, Index);
  } else {
    try {
      if (T == ftUnknown) {
        TVarType vt = V.VType() & varTypeMask;
        if (vt == varBoolean)
          T = ftBoolean;
        else if (VarIsOrdinal(V))
          T = ftLargeint;
        else if (VarIsFloat(V) || vt == varCurrency)
          T = ftFloat;
        else if (vt == varDate)
          T = ftDateTime;
        else if (vt == varString)
          T = ftBlob;
        else
          T = ftWideString;
      }
      if (T == ftBoolean) {
        rc = sqlite3_bind_int(S, Index, V.AsBoolean() ? 1 : 0);
      } else if (IsIntegerType(T)) {
        Int64 n;
        if (VarIsStr(V)) {
          if (!TryStrToInt64(Trim(VarToStr(V)), n)) bad(u"'" + VarToStr(V) + u"' is not a valid integer");
        } else {
          n = V.AsInt64();
        }
        if (T != ftLargeint && (n < -2147483648LL || n > 4294967295LL))
          bad(IntToStr(n) + u" is out of range");
        rc = sqlite3_bind_int64(S, Index, n);
      } else if (IsFloatType(T) || T == ftBCD || T == ftFMTBcd) {
        double d;
        if (VarIsStr(V)) {
          if (!TryStrToFloat(Trim(VarToStr(V)), d)) bad(u"'" + VarToStr(V) + u"' is not a valid number");
        } else {
          d = V.AsDouble();
        }
        if (!std::isfinite(d)) bad(u"the number is not finite");
        rc = sqlite3_bind_double(S, Index, d);
      } else if (IsDateType(T)) {
        TDateTime d;
        if (VarIsStr(V)) {
          if (!TryStrToDateTime(Trim(VarToStr(V)), d)) bad(u"'" + VarToStr(V) + u"' is not a valid date");
        } else {
          d = V.AsDateTime();
        }
        if (!std::isfinite(d)) bad(u"the date is not valid");
        rc = sqlite3_bind_double(S, Index, d);
      } else if (T == ftBlob || T == ftGraphic || T == ftBytes || T == ftVarBytes) {
        AnsiString b = V.AsAnsiString();
        rc = sqlite3_bind_blob(S, Index, b.data(), static_cast<int>(b.size()), SQLITE_TRANSIENT);
      } else {
        std::string t = U8(VarToStr(V));
        rc = sqlite3_bind_text(S, Index, t.data(), static_cast<int>(t.size()), SQLITE_TRANSIENT);
      }
    } catch (const EVariantError& E) {
      bad(E.Message());
    }
  }
  if (rc != SQLITE_OK) C->RaiseError(u"Parameter '" + Name + u"'");
}

TFieldType ParamTypeOfName(const String& Name) {
  String n = LowerCase(Trim(Name));
  if (n == u"integer" || n == u"int" || n == u"long") return ftInteger;
  if (n == u"smallint") return ftSmallint;
  if (n == u"word") return ftWord;
  if (n == u"string" || n == u"text") return ftWideString;
  if (n == u"float" || n == u"double") return ftFloat;
  if (n == u"boolean") return ftBoolean;
  if (n == u"datetime") return ftDateTime;
  if (n == u"currency") return ftCurrency;
  return ftUnknown;
}

// The ":name" markers of a statement text, in order, each once.
std::vector<String> MarkerNames(const String& Sql) {
  std::vector<String> out;
  for (size_t i = 0; i < Sql.size(); ++i) {
    Char c = Sql[i];
    if (c == u'\'' || c == u'"') {
      size_t e = Sql.find(c, i + 1);
      i = e == String::npos ? Sql.size() : e;
      continue;
    }
    if (c == u':' && i + 1 < Sql.size() && Sql[i + 1] != u':') {
      size_t j = i + 1;
      while (j < Sql.size() && (iswalnum(Sql[j]) || Sql[j] == u'_')) ++j;
      String name = Sql.substr(i + 1, j - i - 1);
      if (!name.empty() && std::find(out.begin(), out.end(), name) == out.end()) out.push_back(name);
      i = j - 1;
    }
  }
  return out;
}

// Runs Body inside a transaction (a savepoint inside a user's transaction);
// any raise rolls back everything it wrote.
template <class F>
void RunInTransaction(TADOConnection* C, const String& Context, F Body) {
  bool nested = C->InTransaction();
  C->CheckFileInPlace();
  ExecSimple(C, nested ? "SAVEPOINT cl_call" : "BEGIN IMMEDIATE", Context);
  bool done = false;
  Finally rollback([&] {
    if (!done)
      sqlite3_exec(C->Handle(), nested ? "ROLLBACK TO cl_call; RELEASE cl_call" : "ROLLBACK", nullptr,
                   nullptr, nullptr);
  });
  Body();
  ExecSimple(C, nested ? "RELEASE cl_call" : "COMMIT", Context);
  done = true;
  C->CheckFileInPlace();
}

// The journal mode a "PRAGMA journal_mode=..." answered; "" when it failed.
std::string SwitchJournalMode(sqlite3* Db, const char* Sql) {
  sqlite3_stmt* st = nullptr;
  std::string mode;
  if (sqlite3_prepare_v2(Db, Sql, -1, &st, nullptr) == SQLITE_OK && sqlite3_step(st) == SQLITE_ROW)
    mode = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
  sqlite3_finalize(st);
  return mode;
}

}  // namespace

bool IsSupportedProvider(const String& Provider) {
  String p = UpperCase(Trim(Provider));
  return p == u"MICROSOFT.JET.OLEDB.4.0" || p.rfind(u"MICROSOFT.ACE.OLEDB.", 0) == 0 || p == u"SQLITE" ||
         p == u"SQLITE3";
}

String ConnectionStringValue(const String& ConnectionString, const String& Key) {
  const String& s = ConnectionString;
  size_t i = 0;
  while (i < s.size()) {
    size_t eq = s.find(u'=', i);
    if (eq == String::npos) break;
    String key = Trim(s.substr(i, eq - i));
    size_t v = eq + 1;
    while (v < s.size() && s[v] == u' ') ++v;
    String value;
    size_t next;
    if (v < s.size() && (s[v] == u'"' || s[v] == u'\'')) {
      Char q = s[v];
      size_t e = v + 1;
      for (;;) {
        size_t f = s.find(q, e);
        if (f == String::npos) {
          value += s.substr(e);
          e = s.size();
          break;
        }
        value += s.substr(e, f - e);
        if (f + 1 < s.size() && s[f + 1] == q) {
          value.push_back(q);
          e = f + 2;
          continue;
        }
        e = f + 1;
        break;
      }
      next = s.find(u';', e);
    } else {
      next = s.find(u';', v);
      value = Trim(s.substr(v, (next == String::npos ? s.size() : next) - v));
    }
    if (CompareText(key, Key) == 0) return value;
    if (next == String::npos) break;
    i = next + 1;
  }
  return {};
}

// --- TADOConnection ---------------------------------------------------------------

void TADOConnection::Create(TComponent* AOwner) {
  inherited::Create(AOwner);
  FLoginPrompt = true;
  FKeepConnection = true;
  FMode = cmUnknown;
  FCommandTimeout = 30;
}

void TADOConnection::Destroy() {
  // A data set editing a record hears of its close (a view may post the
  // record); one whose post fails cannot stay open on a connection that
  // goes: the application's handler is told the edit was dropped, and it is
  // cancelled so that the data set closes. Nothing is thrown out of here.
  for (TComponent* c : std::vector<TComponent*>(FClients)) {
    auto* ds = dynamic_cast<TDataSet*>(c);
    if (!ds || (ds->State() != dsEdit && ds->State() != dsInsert)) continue;
    try {
      ds->Close();
    } catch (const Exception& E) {
      ds->ReportDroppedEdit(E.Message());
      try {
        ds->Cancel();
      } catch (...) {
      }
    } catch (...) {
    }
  }
  try {
    if (Connected()) SetConnected(false);
  } catch (...) {
  }
  // Clients forget this connection.
  while (!FClients.empty()) {
    TComponent* c = FClients.back();
    FClients.pop_back();
    if (auto* ds = dynamic_cast<TCustomADODataSet*>(c)) {
      try {
        ds->SetConnection(nullptr);
      } catch (...) {
      }
    }
  }
  if (FHandle) sqlite3_close_v2(FHandle);
  FHandle = nullptr;
  inherited::Destroy();
}

void TADOConnection::SetConnectionString(const String& Value) {
  if (Connected()) SetConnected(false);
  FConnectionString = Value;
}

void TADOConnection::SetMode(TConnectMode Value) {
  if (Connected()) DatabaseError(u"Operation cannot be performed while connected", this);
  FMode = Value;
}

void TADOConnection::SetCommandTimeout(Integer Value) {
  FCommandTimeout = Value < 0 ? 0 : Value;
  if (FHandle) sqlite3_busy_timeout(FHandle, FCommandTimeout * 1000);
}

String TADOConnection::Provider() const { return ConnectionStringValue(FConnectionString, u"Provider"); }
String TADOConnection::DatabaseFileName() const {
  return ConnectionStringValue(FConnectionString, u"Data Source");
}

void TADOConnection::Loaded() {
  inherited::Loaded();
  if (FStreamedConnected) SetConnected(true);
}

void TADOConnection::SetConnected(Boolean Value) {
  if (ComponentState().Contains(csReading)) {
    FStreamedConnected = Value;
    return;
  }
  if (Value == Connected()) return;
  if (Value)
    DoConnect();
  else
    DoDisconnect();
}

void TADOConnection::DoConnect() {
  if (Assigned(FBeforeConnect)) FBeforeConnect(this);
  String provider = Provider();
  if (provider.empty() || !IsSupportedProvider(provider))
    DatabaseError(u"Provider cannot be found. It may not be properly installed: '" + provider + u"'", this);
  String file = DatabaseFileName();
  if (file.empty()) DatabaseError(u"The connection string names no data source", this);
  std::string path = U8(file);
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) DatabaseError(u"Could not find file '" + file + u"'.", this);
  if (S_ISDIR(st.st_mode)) DatabaseError(u"'" + file + u"' is a folder, not a database file.", this);
  // The connection belongs to the thread that uses it and its data sets:
  // no lock around every call into it.
  int flags = (FMode == cmRead ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE) | SQLITE_OPEN_NOMUTEX;
  sqlite3* db = nullptr;
  int rc = sqlite3_open_v2(path.c_str(), &db, flags, nullptr);
  if (rc != SQLITE_OK) {
    String msg = db ? U16(sqlite3_errmsg(db)) : String(u"out of memory");
    if (db) sqlite3_close_v2(db);
    DatabaseError(u"Cannot open '" + file + u"': " + msg, this);
  }
  sqlite3_extended_result_codes(db, 0);
  sqlite3_busy_timeout(db, FCommandTimeout * 1000);
  // Reading the schema tells a database from any other file.
  rc = sqlite3_exec(db, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr);
  if (rc != SQLITE_OK) {
    String msg = U16(sqlite3_errmsg(db));
    sqlite3_close_v2(db);
    if (rc == SQLITE_NOTADB) DatabaseError(u"Unrecognized database format '" + file + u"'.", this);
    DatabaseError(u"Cannot open '" + file + u"': " + msg, this);
  }
  if (FMode != cmRead) {
    // Commits go to a write-ahead log beside the file, synced at each
    // commit: a committed append survives a crash of the program and a loss
    // of power, at one fdatasync a commit. The switch needs the file to
    // itself for a moment; when others hold it, the file keeps its mode.
    sqlite3_busy_timeout(db, 0);
    const bool wal = SwitchJournalMode(db, "PRAGMA journal_mode=WAL") == "wal";
    sqlite3_busy_timeout(db, FCommandTimeout * 1000);
    if (wal &&
        sqlite3_exec(db, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr) != SQLITE_OK) {
      // The log's shared-memory index could not be made (a full disk): in
      // write-ahead mode no reader could open the file. Back to the
      // rollback journal, through a connection in exclusive locking mode,
      // which keeps the index in its own memory.
      const String why = ErrorText(db);
      sqlite3_close_v2(db);
      db = nullptr;
      bool back = sqlite3_open_v2(path.c_str(), &db, flags, nullptr) == SQLITE_OK &&
                  SwitchJournalMode(db, "PRAGMA locking_mode=EXCLUSIVE") == "exclusive" &&
                  SwitchJournalMode(db, "PRAGMA journal_mode=DELETE") == "delete";
      sqlite3_close_v2(db);
      db = nullptr;
      if (back) back = sqlite3_open_v2(path.c_str(), &db, flags, nullptr) == SQLITE_OK;
      if (!back) {
        if (db) sqlite3_close_v2(db);
        DatabaseError(u"Cannot open '" + file + u"': " + why, this);
      }
      sqlite3_extended_result_codes(db, 0);
      sqlite3_busy_timeout(db, FCommandTimeout * 1000);
    }
  }
  sqlite3_exec(db, "PRAGMA synchronous=FULL", nullptr, nullptr, nullptr);
  FHandle = db;
  FTransLevel = 0;
  if (Assigned(FAfterConnect)) FAfterConnect(this);
}

void TADOConnection::DoDisconnect() {
  if (Assigned(FBeforeDisconnect)) FBeforeDisconnect(this);
  std::vector<TComponent*> clients = FClients;
  for (TComponent* c : clients) {
    if (auto* sp = dynamic_cast<TADOStoredProc*>(c)) sp->SetPrepared(false);
    if (auto* ds = dynamic_cast<TDataSet*>(c)) ds->Close();
  }
  if (FTransLevel > 0) sqlite3_exec(FHandle, "ROLLBACK", nullptr, nullptr, nullptr);
  FTransLevel = 0;
  // The last one out puts the file back into rollback-journal mode, so that
  // it is again the single file the setup made (the write-ahead log is
  // checkpointed into it and removed); with others still connected it stays
  // as it is.
  // When the switch fails (others connected, no room for the checkpoint) the
  // file stays in write-ahead mode with its index made: readable by all, and
  // the next connection replays the log.
  if (FMode != cmRead) {
    sqlite3_busy_timeout(FHandle, 0);
    SwitchJournalMode(FHandle, "PRAGMA journal_mode=DELETE");
  }
  sqlite3_close_v2(FHandle);
  FHandle = nullptr;
  if (Assigned(FAfterDisconnect)) FAfterDisconnect(this);
}

void TADOConnection::RaiseError(const String& Context) const {
  String msg = FHandle ? ErrorText(FHandle) : String(u"not connected");
  DatabaseError(Context.empty() ? msg : Context + u": " + msg, const_cast<TADOConnection*>(this));
}

void TADOConnection::CheckFileInPlace() const {
  int moved = 0;
  if (FHandle && sqlite3_file_control(FHandle, "main", SQLITE_FCNTL_HAS_MOVED, &moved) == SQLITE_OK && moved)
    DatabaseError(
        u"The database file '" + DatabaseFileName() +
            u"' was moved or deleted while connected; nothing more is written to it. Connect again.",
        const_cast<TADOConnection*>(this));
}

Integer TADOConnection::BeginTrans() {
  if (!Connected()) Open();
  ExecSimple(this, FTransLevel == 0 ? "BEGIN" : "SAVEPOINT cl_nested", u"BeginTrans");
  return ++FTransLevel;
}

Integer TADOConnection::BeginWriteTrans() {
  if (!Connected()) Open();
  if (FTransLevel > 0) DatabaseError(u"A transaction is already active", this);
  if (sqlite3_db_readonly(FHandle, "main") == 1)
    DatabaseError(u"'" + DatabaseFileName() + u"' cannot be written (read-only)", this);
  CheckFileInPlace();
  ExecSimple(this, "BEGIN IMMEDIATE", u"BeginTrans");
  return ++FTransLevel;
}

void TADOConnection::CommitTrans() {
  if (FTransLevel == 0) DatabaseError(u"No transaction is active", this);
  ExecSimple(this, FTransLevel == 1 ? "COMMIT" : "RELEASE cl_nested", u"CommitTrans");
  --FTransLevel;
}

void TADOConnection::RollbackTrans() {
  if (FTransLevel == 0) DatabaseError(u"No transaction is active", this);
  ExecSimple(this, FTransLevel == 1 ? "ROLLBACK" : "ROLLBACK TO cl_nested; RELEASE cl_nested",
             u"RollbackTrans");
  --FTransLevel;
}

Integer TADOConnection::Execute(const String& CommandText) {
  if (!Connected()) Open();
  std::string sql = U8(CommandText);
  Integer changed = 0;
  RunInTransaction(this, String(), [&] {
    const char* tail = sql.c_str();
    while (tail && *tail) {
      sqlite3_stmt* st = nullptr;
      Finally finalize([&] { sqlite3_finalize(st); });
      if (sqlite3_prepare_v2(FHandle, tail, -1, &st, &tail) != SQLITE_OK) RaiseError(String());
      if (!st) break;
      int rc;
      while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
      }
      if (rc != SQLITE_DONE) RaiseError(String());
      changed += sqlite3_changes(FHandle);
    }
  });
  return changed;
}

void TADOConnection::GetTableNames(TStrings* List, Boolean SystemTables) {
  if (!Connected()) Open();
  List->BeginUpdate();
  List->Clear();
  sqlite3_stmt* st = nullptr;
  Finally finalize([&] { sqlite3_finalize(st); });
  if (sqlite3_prepare_v2(FHandle,
                         "SELECT name FROM sqlite_master WHERE type IN ('table','view') ORDER BY name", -1,
                         &st, nullptr) != SQLITE_OK)
    RaiseError(String());
  while (sqlite3_step(st) == SQLITE_ROW) {
    String name = U16(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
    bool system = name.rfind(u"sqlite_", 0) == 0 || name.rfind(u"__", 0) == 0;
    if (!system || SystemTables) List->Add(name);
  }
  List->EndUpdate();
}

void TADOConnection::GetProcedureNames(TStrings* List) {
  if (!Connected()) Open();
  List->BeginUpdate();
  List->Clear();
  sqlite3_stmt* st = nullptr;
  Finally finalize([&] { sqlite3_finalize(st); });
  if (sqlite3_prepare_v2(FHandle, "SELECT name FROM __procedures ORDER BY name", -1, &st, nullptr) ==
      SQLITE_OK)
    while (sqlite3_step(st) == SQLITE_ROW)
      List->Add(U16(reinterpret_cast<const char*>(sqlite3_column_text(st, 0))));
  List->EndUpdate();
}

void TADOConnection::RegisterClient(TComponent* Client) {
  if (std::find(FClients.begin(), FClients.end(), Client) == FClients.end()) FClients.push_back(Client);
}

void TADOConnection::UnregisterClient(TComponent* Client) {
  FClients.erase(std::remove(FClients.begin(), FClients.end(), Client), FClients.end());
}

// --- Parameters -----------------------------------------------------------------------

void TParameter::Create(TCollection* Collection) {
  inherited::Create(Collection);
  FDirection = pdInput;
  FValue = Unassigned();
}

void TParameter::Assign(TPersistent* Source) {
  if (auto* p = dynamic_cast<TParameter*>(Source)) {
    FName = p->FName;
    FDataType = p->FDataType;
    FDirection = p->FDirection;
    FSize = p->FSize;
    FPrecision = p->FPrecision;
    FNumericScale = p->FNumericScale;
    FValue = p->FValue;
    return;
  }
  inherited::Assign(Source);
}

void TParameters::Create(TPersistent* AOwner) { inherited::Create(AOwner, ClassOf<TParameter>()); }
TParameter* TParameters::Items(Integer Index) const {
  if (Index < 0 || Index >= Count()) throw EListError(Format(u"List index out of bounds (%d)", {Index}));
  return static_cast<TParameter*>(TCollection::Items(Index));
}
TParameter* TParameters::AddParameter() { return static_cast<TParameter*>(TCollection::Add()); }

TParameter* TParameters::CreateParameter(const String& Name, TFieldType DataType,
                                         TParameterDirection Direction, Integer Size, const Variant& Value) {
  TParameter* p = AddParameter();
  p->SetName(Name);
  p->SetDataType(DataType);
  p->SetDirection(Direction);
  p->SetSize(Size);
  p->SetValue(Value);
  return p;
}

TParameter* TParameters::FindParam(const String& Name) const {
  for (Integer i = 0; i < Count(); ++i)
    if (CompareText(Items(i)->Name(), Name) == 0) return Items(i);
  return nullptr;
}

TParameter* TParameters::ParamByName(const String& Name) const {
  TParameter* p = FindParam(Name);
  if (!p)
    DatabaseErrorFmt(SParameterNotFound, {Name},
                     dynamic_cast<TComponent*>(const_cast<TParameters*>(this)->GetOwner()));
  return p;
}

Boolean TParameters::Refresh() {
  TPersistent* owner = GetOwner();
  if (auto* sp = dynamic_cast<TADOStoredProc*>(owner)) {
    if (!sp->Connection()) DatabaseError(u"Missing Connection or ConnectionString", sp);
    if (!sp->Connection()->Connected()) sp->Connection()->Open();
    TADOStoredProc::TProcDef def = TADOStoredProc::LoadProcedure(sp->Connection(), sp->ProcedureName());
    BeginUpdate();
    Clear();
    for (auto& p : def.Params) CreateParameter(p.first, p.second, pdInput, 0, Unassigned());
    EndUpdate();
    return true;
  }
  if (auto* ds = dynamic_cast<TCustomADODataSet*>(owner)) {
    BeginUpdate();
    Clear();
    for (const String& n : MarkerNames(ds->StatementText()))
      CreateParameter(n, ftUnknown, pdInput, 0, Unassigned());
    EndUpdate();
    return true;
  }
  return false;
}

// --- TCustomADODataSet ------------------------------------------------------------------

void TCustomADODataSet::Create(TComponent* AOwner) {
  inherited::Create(AOwner);
  FParameters = New<TParameters>(static_cast<TPersistent*>(this));
  FCommandType = cmdText;
  FCursorType = ctKeyset;
  FLockType = ltOptimistic;
  FParamCheck = true;
}

void TCustomADODataSet::Destroy() {
  try {
    Close();
  } catch (...) {
  }
  if (FConnection) {
    FConnection->UnregisterClient(this);
    FConnection->RemoveFreeNotification(this);
    FConnection = nullptr;
  }
  inherited::Destroy();
  FreeAndNil(FParameters);
}

void TCustomADODataSet::SetConnection(TADOConnection* Value) {
  if (FConnection == Value) return;
  if (Active()) Close();
  if (FConnection) {
    FConnection->UnregisterClient(this);
    FConnection->RemoveFreeNotification(this);
  }
  FConnection = Value;
  if (Value) {
    Value->RegisterClient(this);
    Value->FreeNotification(this);
  }
}

void TCustomADODataSet::Notification(TComponent* AComponent, TOperation Operation) {
  inherited::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FConnection) {
    try {
      Close();
    } catch (...) {
    }
    FConnection = nullptr;
  }
}

void TCustomADODataSet::SetCommandText(const String& Value) {
  if (FCommandText == Value) return;
  if (Active()) Close();
  FCommandText = Value;
  if (FParamCheck && FCommandType == cmdText && !ComponentState().Contains(csLoading)) {
    FParameters->BeginUpdate();
    FParameters->Clear();
    for (const String& n : MarkerNames(StatementText()))
      FParameters->CreateParameter(n, ftUnknown, pdInput, 0, Unassigned());
    FParameters->EndUpdate();
  }
}

void TCustomADODataSet::SetCommandType(TCommandType Value) {
  CheckInactive();
  FCommandType = Value;
}
void TCustomADODataSet::SetCursorType(TCursorType Value) {
  CheckInactive();
  FCursorType = Value;
}
void TCustomADODataSet::SetLockType(TADOLockType Value) {
  CheckInactive();
  FLockType = Value;
}

String TCustomADODataSet::StatementText() const {
  if (FCommandType == cmdTable || FCommandType == cmdTableDirect)
    return u"select * from " + QuoteIdent(FCommandText);
  return FCommandText;
}

Boolean TCustomADODataSet::GetCanModify() {
  return inherited::GetCanModify() && FLockType != ltReadOnly && FCursorType != ctOpenForwardOnly;
}

void TCustomADODataSet::CheckConnection() {
  if (!FConnection) DatabaseError(u"Missing Connection or ConnectionString", this);
  if (!FConnection->Connected()) FConnection->Open();
}

void TCustomADODataSet::InternalInitFieldDefs() {
  // The definitions come from the statement's columns when the rows are read.
}

void TCustomADODataSet::InternalClose() {
  inherited::InternalClose();
  ClearRows();
}

void TCustomADODataSet::LoadRows() {
  CheckConnection();
  String text = StatementText();
  if (Trim(text).empty()) DatabaseError(u"CommandText does not return a result set", this);
  sqlite3* db = FConnection->Handle();
  sqlite3_stmt* st = nullptr;
  Finally finalize([&] { sqlite3_finalize(st); });
  std::string sql = U8(text);
  const char* tail = nullptr;
  if (sqlite3_prepare_v2(db, sql.c_str(), -1, &st, &tail) != SQLITE_OK) FConnection->RaiseError(Name());
  if (!st || sqlite3_column_count(st) == 0)
    DatabaseError(u"CommandText does not return a result set", this);
  // Parameters: ":name" by name, "?" by position.
  int nparams = sqlite3_bind_parameter_count(st);
  for (int i = 1; i <= nparams; ++i) {
    const char* pn = sqlite3_bind_parameter_name(st, i);
    TParameter* p = nullptr;
    String name = pn ? U16(pn + 1) : IntToStr(i);
    if (pn)
      p = FParameters->FindParam(name);
    else if (i - 1 < FParameters->Count())
      p = FParameters->Items(i - 1);
    if (!p) DatabaseErrorFmt(u"Parameter '%s' has no value", {name}, this);
    BindValue(FConnection, st, i, p->Value(), p->DataType(), name);
  }
  // Rows read again (Refresh) keep their ids by key, so that bookmarks and
  // the cursor stay on their rows.
  std::unordered_map<Int64, UInt64> oldIds;
  {
    TRowStore& old = Store();
    Integer key = KeyColumn();
    if (key >= 0 && static_cast<size_t>(key) < old.ColumnCount())
      for (size_t r = 0; r < old.RowCount(); ++r) {
        Variant v = old.Value(r, static_cast<size_t>(key));
        if (VarIsOrdinal(v)) oldIds.emplace(v.AsInt64(), old.Id(r));
      }
  }
  ClearRows();
  int ncols = sqlite3_column_count(st);
  int rc = sqlite3_step(st);
  if (rc != SQLITE_ROW && rc != SQLITE_DONE) FConnection->RaiseError(Name());
  // Column definitions from the declared types (the first row decides for
  // columns that have none).
  FieldDefs()->BeginUpdate();
  FieldDefs()->Clear();
  FColumns.assign(static_cast<size_t>(ncols), TColumnInfo());
  std::vector<TFieldType> types(static_cast<size_t>(ncols));
  for (int c = 0; c < ncols; ++c) {
    TColumnInfo& info = FColumns[static_cast<size_t>(c)];
    const char* table = sqlite3_column_table_name(st, c);
    const char* origin = sqlite3_column_origin_name(st, c);
    const char* decl = sqlite3_column_decltype(st, c);
    int pk = 0, autoinc = 0;
    if (table && origin) {
      info.Table = U16(table);
      info.Column = U16(origin);
      const char* dt = nullptr;
      const char* coll = nullptr;
      int notnull = 0;
      if (sqlite3_table_column_metadata(db, sqlite3_column_database_name(st, c), table, origin, &dt, &coll,
                                        &notnull, &pk, &autoinc) == SQLITE_OK &&
          dt)
        decl = dt;
    }
    info.PrimaryKey = pk != 0;
    info.AutoInc = autoinc != 0;
    Integer size = 0;
    TFieldType t = FieldTypeOfDecl(U16(decl), autoinc != 0, size);
    if (t == ftUnknown) {
      switch (rc == SQLITE_ROW ? sqlite3_column_type(st, c) : SQLITE_NULL) {
        case SQLITE_INTEGER:
          t = ftLargeint;
          break;
        case SQLITE_FLOAT:
          t = ftFloat;
          break;
        case SQLITE_BLOB:
          t = ftBlob;
          break;
        default:
          t = ftWideString;
          size = 255;
      }
    }
    types[static_cast<size_t>(c)] = t;
    String name = U16(sqlite3_column_name(st, c));
    String unique = name;
    for (int k = 1; FieldDefs()->IndexOf(unique) >= 0; ++k) unique = name + u"_" + IntToStr(k);
    TFieldDef* def = FieldDefs()->AddFieldDef();
    def->SetName(unique);
    def->SetDataType(t);
    def->SetSize(size);
    if (t == ftAutoInc) def->SetReadOnly(true);
  }
  FieldDefs()->EndUpdate();
  TRowStore& store = Store();
  store.Reset(static_cast<size_t>(ncols));
  Integer key = oldIds.empty() ? -1 : KeyColumn();
  while (rc == SQLITE_ROW) {
    UInt64 id = 0;
    if (key >= 0 && sqlite3_column_type(st, key) == SQLITE_INTEGER) {
      auto it = oldIds.find(sqlite3_column_int64(st, key));
      if (it != oldIds.end()) {
        id = it->second;
        oldIds.erase(it);  // one row per id, whatever the query
      }
    }
    size_t row = store.AppendRow(id ? id : NewRowId());
    for (int c = 0; c < ncols; ++c) StoreColumn(store, row, st, c, types[static_cast<size_t>(c)]);
    rc = sqlite3_step(st);
  }
  if (rc != SQLITE_DONE) {
    ClearRows();
    FConnection->RaiseError(Name());
  }
}

String TCustomADODataSet::TableForUpdate() const {
  String table;
  for (const TColumnInfo& c : FColumns) {
    if (c.Table.empty()) continue;
    if (table.empty())
      table = c.Table;
    else if (CompareText(table, c.Table) != 0)
      return {};
  }
  return table;
}

Integer TCustomADODataSet::KeyColumn() const {
  Integer key = -1;
  for (size_t i = 0; i < FColumns.size(); ++i)
    if (FColumns[i].PrimaryKey) {
      if (key >= 0) return -1;  // a composite key is not supported for writing back
      key = static_cast<Integer>(i);
    }
  return key;
}

void TCustomADODataSet::ApplyInsert(TMemRow& Row) {
  CheckConnection();
  FConnection->CheckFileInPlace();
  String table = TableForUpdate();
  if (table.empty()) DatabaseError(u"Insufficient base table information for updating", this);
  String cols, marks;
  std::vector<size_t> used;
  Integer autoCol = -1;
  for (size_t i = 0; i < FColumns.size(); ++i) {
    if (FColumns[i].Column.empty()) continue;
    if (FColumns[i].AutoInc && VarIsNull(Row.Values[i])) {
      autoCol = static_cast<Integer>(i);
      continue;
    }
    if (!cols.empty()) {
      cols += u", ";
      marks += u", ";
    }
    cols += QuoteIdent(FColumns[i].Column);
    marks += u"?";
    used.push_back(i);
  }
  String sqlText = used.empty()
                       ? u"INSERT INTO " + QuoteIdent(table) + u" DEFAULT VALUES"
                       : u"INSERT INTO " + QuoteIdent(table) + u" (" + cols + u") VALUES (" + marks + u")";
  std::string sql = U8(sqlText);
  sqlite3_stmt* st = nullptr;
  Finally finalize([&] { sqlite3_finalize(st); });
  if (sqlite3_prepare_v2(FConnection->Handle(), sql.c_str(), -1, &st, nullptr) != SQLITE_OK)
    FConnection->RaiseError(Name());
  for (size_t k = 0; k < used.size(); ++k)
    BindValue(FConnection, st, static_cast<int>(k + 1), Row.Values[used[k]],
              FieldDefs()->Items(static_cast<Integer>(used[k]))->DataType(),
              FieldDefs()->Items(static_cast<Integer>(used[k]))->Name());
  if (sqlite3_step(st) != SQLITE_DONE) FConnection->RaiseError(Name());
  FConnection->CheckFileInPlace();
  const sqlite3_int64 rowid = sqlite3_last_insert_rowid(FConnection->Handle());
  if (autoCol >= 0) Row.Values[static_cast<size_t>(autoCol)] = Variant(static_cast<Integer>(rowid));
  // A key column inserted as Null may have been given its value by the table
  // (an INTEGER PRIMARY KEY is the row id): read it back, so that the record
  // and the details linked to it carry the key the file holds.
  for (size_t i = 0; i < FColumns.size(); ++i) {
    if (!FColumns[i].PrimaryKey || FColumns[i].Column.empty() || static_cast<Integer>(i) == autoCol ||
        !VarIsNull(Row.Values[i]))
      continue;
    std::string readBack = U8(u"SELECT " + QuoteIdent(FColumns[i].Column) + u" FROM " + QuoteIdent(table) +
                              u" WHERE rowid = ?");
    sqlite3_stmt* rb = nullptr;
    Finally finalizeReadBack([&] { sqlite3_finalize(rb); });
    // A table without row ids cannot be asked; its key then stays as inserted.
    if (sqlite3_prepare_v2(FConnection->Handle(), readBack.c_str(), -1, &rb, nullptr) != SQLITE_OK) continue;
    sqlite3_bind_int64(rb, 1, rowid);
    if (sqlite3_step(rb) == SQLITE_ROW)
      Row.Values[i] = ColumnValue(rb, 0, FieldDefs()->Items(static_cast<Integer>(i))->DataType());
  }
}

void TCustomADODataSet::ApplyUpdate(const TMemRow& OldRow, TMemRow& NewRow) {
  CheckConnection();
  FConnection->CheckFileInPlace();
  String table = TableForUpdate();
  Integer key = KeyColumn();
  if (table.empty() || key < 0)
    DatabaseError(u"Insufficient key column information for updating or refreshing", this);
  String sets;
  std::vector<size_t> used;
  for (size_t i = 0; i < FColumns.size(); ++i) {
    if (FColumns[i].Column.empty()) continue;
    if (VarCompareValue(OldRow.Values[i], NewRow.Values[i]) == vrEqual &&
        VarType(OldRow.Values[i]) == VarType(NewRow.Values[i]))
      continue;
    if (!sets.empty()) sets += u", ";
    sets += QuoteIdent(FColumns[i].Column) + u" = ?";
    used.push_back(i);
  }
  if (used.empty()) return;
  std::string sql = U8(u"UPDATE " + QuoteIdent(table) + u" SET " + sets + u" WHERE " +
                       QuoteIdent(FColumns[static_cast<size_t>(key)].Column) + u" = ?");
  sqlite3_stmt* st = nullptr;
  Finally finalize([&] { sqlite3_finalize(st); });
  if (sqlite3_prepare_v2(FConnection->Handle(), sql.c_str(), -1, &st, nullptr) != SQLITE_OK)
    FConnection->RaiseError(Name());
  int k = 1;
  for (size_t i : used)
    BindValue(FConnection, st, k++, NewRow.Values[i],
              FieldDefs()->Items(static_cast<Integer>(i))->DataType(),
              FieldDefs()->Items(static_cast<Integer>(i))->Name());
  BindValue(FConnection, st, k, OldRow.Values[static_cast<size_t>(key)],
            FieldDefs()->Items(key)->DataType(), FieldDefs()->Items(key)->Name());
  if (sqlite3_step(st) != SQLITE_DONE) FConnection->RaiseError(Name());
  FConnection->CheckFileInPlace();
  if (sqlite3_changes(FConnection->Handle()) == 0)
    DatabaseError(
        u"Row cannot be located for updating. Some values may have been changed since it was last read",
        this);
}

void TCustomADODataSet::ApplyDelete(const TMemRow& Row) {
  CheckConnection();
  FConnection->CheckFileInPlace();
  String table = TableForUpdate();
  Integer key = KeyColumn();
  if (table.empty() || key < 0)
    DatabaseError(u"Insufficient key column information for updating or refreshing", this);
  std::string sql = U8(u"DELETE FROM " + QuoteIdent(table) + u" WHERE " +
                       QuoteIdent(FColumns[static_cast<size_t>(key)].Column) + u" = ?");
  sqlite3_stmt* st = nullptr;
  Finally finalize([&] { sqlite3_finalize(st); });
  if (sqlite3_prepare_v2(FConnection->Handle(), sql.c_str(), -1, &st, nullptr) != SQLITE_OK)
    FConnection->RaiseError(Name());
  BindValue(FConnection, st, 1, Row.Values[static_cast<size_t>(key)], FieldDefs()->Items(key)->DataType(),
            FieldDefs()->Items(key)->Name());
  if (sqlite3_step(st) != SQLITE_DONE) FConnection->RaiseError(Name());
  FConnection->CheckFileInPlace();
  if (sqlite3_changes(FConnection->Handle()) == 0)
    DatabaseError(
        u"Row cannot be located for updating. Some values may have been changed since it was last read",
        this);
}

// --- TADOTable, TADOQuery --------------------------------------------------------------

void TADOTable::Create(TComponent* AOwner) {
  inherited::Create(AOwner);
  SetCommandType(cmdTable);
}

void TADOQuery::Create(TComponent* AOwner) {
  inherited::Create(AOwner);
  FSQL = New<TStringList>();
}

void TADOQuery::Destroy() {
  inherited::Destroy();
  FreeAndNil(FSQL);
}

TStrings* TADOQuery::SQL() const { return FSQL; }

void TADOQuery::SetSQL(TStrings* Value) {
  if (Active()) Close();
  FSQL->Assign(Value);
  SetCommandText(FSQL->Text());
}

String TADOQuery::StatementText() const { return FSQL ? Trim(FSQL->Text()) : String(); }

Integer TADOQuery::ExecSQL() {
  CheckConnection();
  std::string sql = U8(StatementText());
  TADOConnection* c = Connection();
  FRowsAffected = 0;
  RunInTransaction(c, Name(), [&] {
    const char* tail = sql.c_str();
    while (tail && *tail) {
      sqlite3_stmt* st = nullptr;
      Finally finalize([&] { sqlite3_finalize(st); });
      if (sqlite3_prepare_v2(c->Handle(), tail, -1, &st, &tail) != SQLITE_OK) c->RaiseError(Name());
      if (!st) break;
      int n = sqlite3_bind_parameter_count(st);
      for (int i = 1; i <= n; ++i) {
        const char* pn = sqlite3_bind_parameter_name(st, i);
        String name = pn ? U16(pn + 1) : IntToStr(i);
        TParameter* p = pn ? Parameters()->FindParam(name)
                           : (i - 1 < Parameters()->Count() ? Parameters()->Items(i - 1) : nullptr);
        if (!p) DatabaseErrorFmt(u"Parameter '%s' has no value", {name}, this);
        BindValue(c, st, i, p->Value(), p->DataType(), name);
      }
      int rc;
      while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
      }
      if (rc != SQLITE_DONE) c->RaiseError(Name());
      FRowsAffected += sqlite3_changes(c->Handle());
    }
  });
  return FRowsAffected;
}

// --- TADOStoredProc ----------------------------------------------------------------------

void TADOStoredProc::Create(TComponent* AOwner) {
  inherited::Create(AOwner);
  SetCommandType(cmdStoredProc);
}

void TADOStoredProc::Destroy() {
  Unprepare();
  inherited::Destroy();
}

void TADOStoredProc::SetProcedureName(const String& Value) {
  if (Value == ProcedureName()) return;
  SetPrepared(false);
  SetCommandText(Value);
  inherited::Parameters()->Clear();
}

TParameters* TADOStoredProc::Parameters() {
  TParameters* p = inherited::Parameters();
  if (p->Count() == 0 && !ProcedureName().empty() && Connection() && Connection()->Connected() &&
      !ComponentState().Contains(csLoading))
    p->Refresh();
  return p;
}

TADOStoredProc::TProcDef TADOStoredProc::LoadProcedure(TADOConnection* Connection, const String& Name) {
  if (!Connection || !Connection->Connected()) DatabaseError(u"Missing Connection or ConnectionString");
  sqlite3_stmt* st = nullptr;
  Finally finalize([&] { sqlite3_finalize(st); });
  String notFound = u"Procedure '" + Name + u"' not found in '" + Connection->DatabaseFileName() + u"'";
  int rc = sqlite3_prepare_v2(Connection->Handle(),
                              "SELECT params, sql FROM __procedures WHERE name = ?1 COLLATE NOCASE", -1,
                              &st, nullptr);
  if (rc != SQLITE_OK) {
    // A database without the procedures table has no procedure; any other
    // failure (a lock, a damaged file) is reported as it is.
    String msg = U16(sqlite3_errmsg(Connection->Handle()));
    if (msg.find(u"no such table") != String::npos) DatabaseError(notFound, Connection);
    Connection->RaiseError(u"Procedure '" + Name + u"'");
  }
  std::string name8 = U8(Name);
  sqlite3_bind_text(st, 1, name8.c_str(), -1, SQLITE_TRANSIENT);
  rc = sqlite3_step(st);
  if (rc == SQLITE_DONE) DatabaseError(notFound, Connection);
  if (rc != SQLITE_ROW) Connection->RaiseError(u"Procedure '" + Name + u"'");
  TProcDef def;
  def.Params =
      ParseParams(Name, U16(reinterpret_cast<const char*>(sqlite3_column_text(st, 0))), Connection);
  def.Sql = U16(reinterpret_cast<const char*>(sqlite3_column_text(st, 1)));
  return def;
}

std::vector<std::pair<String, TFieldType>> TADOStoredProc::ParseParams(const String& Name,
                                                                       const String& Params,
                                                                       TComponent* Component) {
  std::vector<std::pair<String, TFieldType>> out;
  size_t start = 0;
  while (start < Params.size()) {
    size_t end = Params.find(u';', start);
    if (end == String::npos) end = Params.size();
    String item = Trim(Params.substr(start, end - start));
    start = end + 1;
    if (item.empty()) continue;
    size_t colon = item.find(u':');
    String pname = Trim(item.substr(0, colon));
    TFieldType t = colon == String::npos ? ftUnknown : ParamTypeOfName(item.substr(colon + 1));
    if (pname.empty() || t == ftUnknown)
      DatabaseError(u"Procedure '" + Name + u"' has a bad parameter definition '" + item + u"'", Component);
    out.emplace_back(pname, t);
  }
  return out;
}

void TADOStoredProc::DeclareParameters(const String& Params) {
  TParameters* p = inherited::Parameters();
  p->BeginUpdate();
  Finally endUpdate([&] { p->EndUpdate(); });
  p->Clear();
  for (auto& [name, type] : ParseParams(ProcedureName(), Params, this))
    p->CreateParameter(name, type, pdInput, 0, Unassigned());
}

void TADOStoredProc::Unprepare() {
  for (sqlite3_stmt* s : FStatements) sqlite3_finalize(s);
  FStatements.clear();
  FPrepared = false;
}

void TADOStoredProc::SetPrepared(Boolean Value) {
  if (!Value) {
    Unprepare();
    return;
  }
  if (FPrepared) return;
  CheckConnection();
  TProcDef def = LoadProcedure(Connection(), ProcedureName());
  std::string sql = U8(def.Sql);
  const char* tail = sql.c_str();
  std::vector<sqlite3_stmt*> statements;
  while (tail && *tail) {
    sqlite3_stmt* s = nullptr;
    if (sqlite3_prepare_v2(Connection()->Handle(), tail, -1, &s, &tail) != SQLITE_OK) {
      for (sqlite3_stmt* p : statements) sqlite3_finalize(p);
      Connection()->RaiseError(u"Procedure '" + ProcedureName() + u"'");
    }
    if (s) statements.push_back(s);
  }
  FDef = std::move(def);
  FStatements = std::move(statements);
  FPrepared = true;
}

void TADOStoredProc::ExecProc() {
  CheckConnection();
  bool temporary = !FPrepared;
  if (temporary) SetPrepared(true);
  Finally unprepare([&] {
    if (temporary) Unprepare();
  });
  TParameters* params = Parameters();
  if (params->Count() != static_cast<Integer>(FDef.Params.size()))
    DatabaseError(Format(u"Procedure '%s' expects %d parameters, %d given",
                         {ProcedureName(), static_cast<Integer>(FDef.Params.size()), params->Count()}),
                  this);
  TADOConnection* c = Connection();
  RunInTransaction(c, Name(), [&] {
    for (sqlite3_stmt* s : FStatements) {
      sqlite3_reset(s);
      sqlite3_clear_bindings(s);
      for (size_t i = 0; i < FDef.Params.size(); ++i) {
        std::string marker = ":" + U8(FDef.Params[i].first);
        int index = sqlite3_bind_parameter_index(s, marker.c_str());
        if (index > 0)
          BindValue(c, s, index, params->Items(static_cast<Integer>(i))->Value(), FDef.Params[i].second,
                    FDef.Params[i].first);
      }
      int rc;
      while ((rc = sqlite3_step(s)) == SQLITE_ROW) {
      }
      if (rc != SQLITE_DONE) {
        String msg = ErrorText(c->Handle());
        sqlite3_reset(s);
        DatabaseError(ProcedureName() + u": " + msg, this);
      }
      sqlite3_reset(s);
    }
  });
}

void TADOStoredProc::LoadRows() { DatabaseError(u"CommandText does not return a result set", this); }

void DefineStoredProcedure(TADOConnection* Connection, const String& Name, const String& Params,
                           const String& Sql) {
  if (!Connection->Connected()) Connection->Open();
  RunInTransaction(Connection, u"Procedure '" + Name + u"'", [&] {
    ExecSimple(Connection,
               "CREATE TABLE IF NOT EXISTS __procedures (name TEXT PRIMARY KEY COLLATE NOCASE, params TEXT "
               "NOT NULL, "
               "sql TEXT NOT NULL)",
               u"Procedure '" + Name + u"'");
    sqlite3_stmt* st = nullptr;
    Finally finalize([&] { sqlite3_finalize(st); });
    if (sqlite3_prepare_v2(Connection->Handle(),
                           "INSERT OR REPLACE INTO __procedures (name, params, sql) VALUES (?1, ?2, ?3)", -1,
                           &st, nullptr) != SQLITE_OK)
      Connection->RaiseError(Name);
    std::string n = U8(Name), p = U8(Params), s = U8(Sql);
    sqlite3_bind_text(st, 1, n.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(st, 2, p.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(st, 3, s.c_str(), -1, SQLITE_TRANSIENT);
    if (sqlite3_step(st) != SQLITE_DONE) Connection->RaiseError(Name);
  });
}

void RegisterDataClasses() {
  RegisterFieldClasses();
  RegisterClasses({TMemDataSet::StaticClass(), TADOConnection::StaticClass(), TADODataSet::StaticClass(),
                   TADOTable::StaticClass(), TADOQuery::StaticClass(), TADOStoredProc::StaticClass()});
}

// --- Class metadata -----------------------------------------------------------------------

CL_IMPLEMENT_CLASS_PUBLISHED(TADOConnection, P) {
  P.Property(u"CommandTimeout", &TADOConnection::CommandTimeout, &TADOConnection::SetCommandTimeout)
      .Default(30);
  P.Property(u"Connected", &TADOConnection::Connected, &TADOConnection::SetConnected).Default(false);
  P.Property(u"ConnectionString", &TADOConnection::ConnectionString, &TADOConnection::SetConnectionString);
  P.Property(u"KeepConnection", &TADOConnection::KeepConnection, &TADOConnection::SetKeepConnection)
      .Default(true);
  P.Property(u"LoginPrompt", &TADOConnection::LoginPrompt, &TADOConnection::SetLoginPrompt).Default(true);
  P.Property(u"Mode", &TADOConnection::Mode, &TADOConnection::SetMode).Default(cmUnknown);
  P.Property(u"AfterConnect", &TADOConnection::AfterConnect, &TADOConnection::SetAfterConnect);
  P.Property(u"AfterDisconnect", &TADOConnection::AfterDisconnect, &TADOConnection::SetAfterDisconnect);
  P.Property(u"BeforeConnect", &TADOConnection::BeforeConnect, &TADOConnection::SetBeforeConnect);
  P.Property(u"BeforeDisconnect", &TADOConnection::BeforeDisconnect, &TADOConnection::SetBeforeDisconnect);
}

CL_IMPLEMENT_CLASS_PUBLISHED(TParameter, P) {
  P.Property(u"Name", &TParameter::Name, &TParameter::SetName);
  P.Property(u"DataType", &TParameter::DataType, &TParameter::SetDataType).Default(ftUnknown);
  P.Property(u"Direction", &TParameter::Direction, &TParameter::SetDirection).Default(pdInput);
  P.Property(u"NumericScale", &TParameter::NumericScale, &TParameter::SetNumericScale).Default(Byte(0));
  P.Property(u"Precision", &TParameter::Precision, &TParameter::SetPrecision).Default(Byte(0));
  P.Property(u"Size", &TParameter::Size, &TParameter::SetSize).Default(0);
  P.Property(u"Value", &TParameter::Value, &TParameter::SetValue);
}
CL_IMPLEMENT_CLASS(TParameters)

CL_IMPLEMENT_CLASS_PUBLISHED(TCustomADODataSet, P) {
  P.Property(u"Active", &TDataSet::Active, &TDataSet::SetActive).Default(false);
  P.Property(u"AutoCalcFields", &TDataSet::AutoCalcFields, &TDataSet::SetAutoCalcFields).Default(true);
  P.Property(u"Connection", &TCustomADODataSet::Connection, &TCustomADODataSet::SetConnection);
  P.Property(u"CursorType", &TCustomADODataSet::CursorType, &TCustomADODataSet::SetCursorType)
      .Default(ctKeyset);
  P.Property(u"Filter", &TDataSet::Filter, &TDataSet::SetFilter);
  P.Property(u"Filtered", &TDataSet::Filtered, &TDataSet::SetFiltered).Default(false);
  P.Property(u"LockType", &TCustomADODataSet::LockType, &TCustomADODataSet::SetLockType)
      .Default(ltOptimistic);
  P.Property(u"ParamCheck", &TCustomADODataSet::ParamCheck, &TCustomADODataSet::SetParamCheck).Default(true);
  P.Property(u"Parameters", &TCustomADODataSet::Parameters, &TCustomADODataSet::SetParameters);
  PublishDataSetEvents(P);
}

CL_IMPLEMENT_CLASS_PUBLISHED(TADODataSet, P) {
  P.Property(u"CommandText", &TCustomADODataSet::CommandText, &TCustomADODataSet::SetCommandText);
  P.Property(u"CommandType", &TCustomADODataSet::CommandType, &TCustomADODataSet::SetCommandType)
      .Default(cmdText);
}
CL_IMPLEMENT_CLASS_PUBLISHED(TADOTable, P) {
  P.Property(u"TableName", &TADOTable::TableName, &TADOTable::SetTableName);
}
CL_IMPLEMENT_CLASS_PUBLISHED(TADOQuery, P) { P.Property(u"SQL", &TADOQuery::SQL, &TADOQuery::SetSQL); }
CL_IMPLEMENT_CLASS_PUBLISHED(TADOStoredProc, P) {
  P.Property(u"ProcedureName", &TADOStoredProc::ProcedureName, &TADOStoredProc::SetProcedureName);
  P.Property(u"Prepared", &TADOStoredProc::Prepared, &TADOStoredProc::SetPrepared).Default(false);
}
