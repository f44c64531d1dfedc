// Shared by the benchmarks on a big card-load log: an empty log made in a
// temporary folder (removed with it), the thread's CPU clock, and SQLite
// reading every column of a row by its type.
#pragma once

#include <sqlite3.h>
#include <stdlib.h>
#include <time.h>
#include <unistd.h>

#include <string>

#include "platform/db/LogDatabase.h"
#include "platform/rtl/CodePages.h"

inline double ThreadCpu() {
  timespec ts{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}

// A log with the program's schema and procedure, no rows, in a new folder
// under TMPDIR (or /tmp); the folder and the log's companion files go at
// destruction.
class TTempLog {
 public:
  explicit TTempLog(const char* ATag) {
    const char* base = getenv("TMPDIR");
    std::string tmpl = std::string(base && *base ? base : "/tmp") + "/" + ATag + "-XXXXXX";
    if (!mkdtemp(tmpl.data())) return;
    FDir = tmpl;
    FPath = FDir + "/cardloader.mdb";
    CreateLogDatabase(UTF8ToUTF16(FPath));
  }
  ~TTempLog() {
    if (FDir.empty()) return;
    for (const char* suffix : {"", "-journal", "-wal", "-shm"}) ::unlink((FPath + suffix).c_str());
    ::rmdir(FDir.c_str());
  }
  TTempLog(const TTempLog&) = delete;
  TTempLog& operator=(const TTempLog&) = delete;
  bool Ok() const { return !FDir.empty(); }
  void Fail() { FDir.clear(); }
  const std::string& Path() const { return FPath; }

 private:
  std::string FDir, FPath;
};

// Every column of the statement's current row read by its type; answers a
// sum of what was read, so that nothing is optimised away.
inline long long ReadColumns(sqlite3_stmt* st) {
  long long sink = 0;
  const int n = sqlite3_column_count(st);
  for (int c = 0; c < n; ++c) {
    switch (sqlite3_column_type(st, c)) {
      case SQLITE_INTEGER:
        sink += sqlite3_column_int64(st, c);
        break;
      case SQLITE_FLOAT:
        sink += (long long)sqlite3_column_double(st, c);
        break;
      case SQLITE_TEXT:
        sink += sqlite3_column_bytes(st, c) + *sqlite3_column_text(st, c);
        break;
      default:
        break;
    }
  }
  return sink;
}

// Appends ARows rows to the log at APath in one transaction through ASql,
// prepared once; ABind(statement, row) binds each row before its step. An
// empty ASql reads the statement of the log's procedure AProcedure. False
// when there is no statement to prepare.
template <class F>
bool FillLog(const std::string& APath, std::string ASql, const char* AProcedure, int ARows, F ABind) {
  sqlite3* db = nullptr;
  sqlite3_open_v2(APath.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
  if (ASql.empty()) {
    sqlite3_stmt* q = nullptr;
    sqlite3_prepare_v2(db, "select sql from __procedures where name = ?", -1, &q, nullptr);
    sqlite3_bind_text(q, 1, AProcedure, -1, SQLITE_STATIC);
    if (sqlite3_step(q) == SQLITE_ROW) ASql = reinterpret_cast<const char*>(sqlite3_column_text(q, 0));
    sqlite3_finalize(q);
  }
  sqlite3_stmt* st = nullptr;
  if (ASql.empty() || sqlite3_prepare_v2(db, ASql.c_str(), -1, &st, nullptr) != SQLITE_OK) {
    sqlite3_close(db);
    return false;
  }
  sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
  for (int i = 0; i < ARows; ++i) {
    ABind(st, i);
    sqlite3_step(st);
    sqlite3_reset(st);
  }
  sqlite3_finalize(st);
  sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
  sqlite3_close(db);
  return true;
}
