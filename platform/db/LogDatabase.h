// The card-load log database: an SQLite file beside the program with the
// table "log" and the procedure "Ekle" that appends one load.
#pragma once

#include "platform/rtl/Types.h"

// The program file's path with its extension replaced by ".mdb".
String LogDatabaseFileName(const String& ProgramFileName);

// The connection string of the log database at FileName.
String LogConnectionString(const String& FileName);

// Creates the log database at FileName; EDatabaseError when the file exists
// or cannot be written. The file appears whole or not at all; companion
// files left by an earlier log of that name (its write-ahead log, index or
// rollback journal, which SQLite would replay into the new file) are removed.
void CreateLogDatabase(const String& FileName);

// Creates the log database when FileName does not exist; answers whether it
// did. An existing file is left as it is.
bool EnsureLogDatabase(const String& FileName);

class TADOStoredProc;
// Names Proc's procedure "Ekle" and declares its 15 parameters.
void DeclareLogProcedure(TADOStoredProc* Proc);

// The statements that make the log's table and procedure, for tools and tests.
extern const char* const LogTableSql;
extern const char16_t* const LogProcedureName;    // "Ekle"
extern const char16_t* const LogProcedureParams;  // its 15 parameters
extern const char16_t* const LogProcedureSql;
