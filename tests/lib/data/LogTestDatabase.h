// The program's log database for the data tests: a fresh SQLite file, the
// data set "select * from log" and the procedure "Ekle" that adds one load.
#pragma once

#include <memory>
#include <string>

#include "platform/db/ADODB.h"
#include "platform/db/LogDatabase.h"
#include "platform/rtl/CodePages.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/Variants.h"
#include "tests/support/TestSupport.h"

struct TLogTestDatabase {
  std::unique_ptr<TComponent, TObjectFree> Owner{New<TComponent>(nullptr)};
  TADOConnection* Conn{};
  TADODataSet* Set{};
  TADOStoredProc* Proc{};
  explicit TLogTestDatabase(const char* ADirName) {
    String File = UTF8ToUTF16(testing_support::MakeTempDir(ADirName) + "/cardloader.mdb");
    CreateLogDatabase(File);
    Conn = New<TADOConnection>(Owner.get());
    Conn->SetLoginPrompt(false);
    Conn->SetConnectionString(LogConnectionString(File));
    Set = New<TADODataSet>(Owner.get());
    Set->SetConnection(Conn);
    Set->SetCursorType(ctStatic);
    Set->SetCommandText(u"select * from log");
    Proc = New<TADOStoredProc>(Owner.get());
    Proc->SetConnection(Conn);
    Proc->SetProcedureName(u"Ekle");
    DeclareLogProcedure(Proc);
  }
  // "Ekle" with the given Kontor (and serial number) and fixed other values.
  void Add(Integer AKontor, const String& ASerial = u"1234") {
    TParameters* P = Proc->Parameters();
    P->Items(0)->SetValue(Variant(static_cast<Word>(AKontor)));
    P->Items(1)->SetValue(Variant(ASerial));
    P->Items(2)->SetValue(Variant(String(u"F1")));
    for (int I = 0; I < 5; ++I) P->Items(3 + I)->SetValue(Variant(1.5));
    P->Items(8)->SetValue(Variant(static_cast<Byte>(1)));
    P->Items(9)->SetValue(Variant(false));
    P->Items(10)->SetValue(Variant(static_cast<Byte>(2)));
    P->Items(11)->SetValue(Variant(String(u"Merkez")));
    P->Items(12)->SetValue(VarFromDateTime(46000.5));
    P->Items(13)->SetValue(Variant(String(u"K1")));
    P->Items(14)->SetValue(Variant(0));
    Proc->ExecProc();
  }
};
