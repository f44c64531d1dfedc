// Creating the card-load log database.
#include "platform/db/LogDatabase.h"

#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/db/ADODB.h"
#include "platform/rtl/CodePages.h"
#include "platform/rtl/Format.h"

// Column types are declared so that they read back as the log's field types:
// INTEGER PRIMARY KEY AUTOINCREMENT an auto-increment 32-bit key, SMALLINT a
// 16-bit integer, WORD a 16-bit unsigned integer, VARCHAR(n) text of n
// characters, FLOAT, BOOLEAN (0/1) and DATETIME REAL (days since 1899-12-30).
// Kontor is WORD: a card holds 0 to 65535 credits. YuklemeTS is declared
// with REAL affinity, so that a time on a whole day stays a real number
// (a plain DATETIME column would turn it into an integer).
const char* const LogTableSql =
    "CREATE TABLE log ("
    "\"Index\" INTEGER PRIMARY KEY AUTOINCREMENT, "
    "Kontor WORD, SeriNo VARCHAR(8), FaturaNo VARCHAR(6), "
    "T1 FLOAT, T2 FLOAT, T3 FLOAT, T4 FLOAT, T0 FLOAT, "
    "TarifeYapisi WORD, CokluTarife BOOLEAN, DusukAlarm WORD, TahsilatYeri VARCHAR(4), "
    "YuklemeTS DATETIME REAL, KartSeriNo VARCHAR(10), CihazID SMALLINT)";

const char16_t* const LogProcedureName = u"Ekle";

const char16_t* const LogProcedureParams =
    u"Kontor:integer;SeriNo:string;FaturaNo:string;T1:float;T2:float;T3:float;T4:float;T0:float;"
    u"TarifeYapisi:integer;CokluTarife:boolean;DusukAlarm:integer;TahsilatYeri:string;YuklemeTS:datetime;"
    u"KartSeriNo:string;CihazID:integer";

const char16_t* const LogProcedureSql =
    u"INSERT INTO log (Kontor, SeriNo, FaturaNo, T1, T2, T3, T4, T0, TarifeYapisi, CokluTarife, DusukAlarm, "
    u"TahsilatYeri, YuklemeTS, KartSeriNo, CihazID) VALUES (:Kontor, :SeriNo, :FaturaNo, :T1, :T2, :T3, :T4, "
    u":T0, "
    u":TarifeYapisi, :CokluTarife, :DusukAlarm, :TahsilatYeri, :YuklemeTS, :KartSeriNo, :CihazID)";

String LogDatabaseFileName(const String& ProgramFileName) {
  size_t slash = ProgramFileName.find_last_of(u"/\\");
  size_t dot = ProgramFileName.find_last_of(u'.');
  if (dot == String::npos || (slash != String::npos && dot < slash)) return ProgramFileName + u".mdb";
  return ProgramFileName.substr(0, dot) + u".mdb";
}

String LogConnectionString(const String& FileName) {
  return Format(u"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=%s;Persist Security Info=False", {FileName});
}

namespace {

bool Exists(const std::string& Path) {
  struct stat st {};
  return ::stat(Path.c_str(), &st) == 0;
}

}  // namespace

void CreateLogDatabase(const String& FileName) {
  std::string path = UTF16ToUTF8(FileName);
  if (Exists(path)) throw EDatabaseError(u"Cannot create '" + FileName + u"': the file exists");
  // Built under a temporary name and renamed, so that a failure leaves no
  // half-made database where the program looks for one.
  std::string temp = path + ".tmp-" + std::to_string(::getpid());
  ::unlink(temp.c_str());
  sqlite3* db = nullptr;
  int rc = sqlite3_open_v2(temp.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
  auto fail = [&](const String& Why) {
    if (db) sqlite3_close_v2(db);
    ::unlink(temp.c_str());
    throw EDatabaseError(u"Cannot create '" + FileName + u"': " + Why);
  };
  if (rc != SQLITE_OK) fail(db ? UTF8ToUTF16(sqlite3_errmsg(db)) : String(u"out of memory"));
  std::string script =
      std::string("BEGIN; ") + LogTableSql +
      "; CREATE TABLE __procedures (name TEXT PRIMARY KEY COLLATE NOCASE, params TEXT NOT NULL, "
      "sql TEXT NOT NULL); COMMIT;";
  char* err = nullptr;
  if (sqlite3_exec(db, script.c_str(), nullptr, nullptr, &err) != SQLITE_OK) {
    String why = UTF8ToUTF16(err ? err : "unknown error");
    sqlite3_free(err);
    fail(why);
  }
  sqlite3_stmt* st = nullptr;
  std::string name = UTF16ToUTF8(LogProcedureName), params = UTF16ToUTF8(LogProcedureParams),
              sql = UTF16ToUTF8(LogProcedureSql);
  if (sqlite3_prepare_v2(db, "INSERT INTO __procedures (name, params, sql) VALUES (?1, ?2, ?3)", -1, &st,
                         nullptr) != SQLITE_OK)
    fail(UTF8ToUTF16(sqlite3_errmsg(db)));
  sqlite3_bind_text(st, 1, name.c_str(), -1, SQLITE_TRANSIENT);
  sqlite3_bind_text(st, 2, params.c_str(), -1, SQLITE_TRANSIENT);
  sqlite3_bind_text(st, 3, sql.c_str(), -1, SQLITE_TRANSIENT);
  rc = sqlite3_step(st);
  sqlite3_finalize(st);
  if (rc != SQLITE_DONE) fail(UTF8ToUTF16(sqlite3_errmsg(db)));
  if (sqlite3_close(db) != SQLITE_OK) {
    db = nullptr;
    fail(u"closing failed");
  }
  db = nullptr;
  // What an earlier log of this name left beside it (after a crash, or when
  // it was deleted while connected) would be replayed into the new one.
  if (!Exists(path))
    for (const char* suffix : {"-wal", "-shm", "-journal"}) ::unlink((path + suffix).c_str());
  // link() refuses to replace a file that appeared meanwhile.
  if (::link(temp.c_str(), path.c_str()) != 0) {
    ::unlink(temp.c_str());
    throw EDatabaseError(u"Cannot create '" + FileName + u"': " + UTF8ToUTF16(std::strerror(errno)));
  }
  ::unlink(temp.c_str());
}

bool EnsureLogDatabase(const String& FileName) {
  if (Exists(UTF16ToUTF8(FileName))) return false;
  CreateLogDatabase(FileName);
  return true;
}

void DeclareLogProcedure(TADOStoredProc* Proc) {
  Proc->SetProcedureName(LogProcedureName);
  Proc->DeclareParameters(LogProcedureParams);
}
