// The ADO-style components on SQLite and the card-load log database, each
// test on a real database file in its own folder.
#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <functional>
#include <memory>
#include <string>

#include "platform/classes/Filer.h"
#include "platform/classes/FormText.h"
#include "platform/classes/Streams.h"
#include "platform/classes/StringLists.h"
#include "platform/classes/TypInfo.h"
#include "platform/db/ADODB.h"
#include "platform/db/LogDatabase.h"
#include "platform/rtl/CodePages.h"
#include "platform/rtl/DateTime.h"
#include "tests/support/TestSupport.h"

namespace {

class TWatchLink : public TDataLink {
  CL_CLASS(TWatchLink, TDataLink)
 public:
  std::vector<std::string> Log;

 protected:
  void ActiveChanged() override { Log.push_back(Active() ? "active" : "inactive"); }
  void DataSetChanged() override { Log.push_back("changed"); }
  void LayoutChanged() override { Log.push_back("layout"); }
};
CL_IMPLEMENT_CLASS(TWatchLink)

// One load as the program logs it (the record read back from the card).
struct TLoad {
  Integer Kontor;
  Cardinal SeriNo;
  const char16_t* FaturaNo;
  double T[5];
  Integer TarifeYapisi;
  bool Coklu;
  Integer DusukAlarm;
  const char16_t* TahsilatYeri;
  TDateTime When;
  const char16_t* KartSeriNo;
};

class AdoTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Dir = testing_support::MakeTempDir("db");
    File = UTF8ToUTF16(Dir + "/cardloader.mdb");
    CreateLogDatabase(File);
    Owner = New<TComponent>(nullptr);
    Conn = New<TADOConnection>(Owner);
    Conn->SetName(u"aConn");
    Conn->SetLoginPrompt(false);
    Conn->SetMode(cmShareDenyNone);
    Conn->SetConnectionString(LogConnectionString(File));
    Set = New<TADODataSet>(Owner);
    Set->SetName(u"aSet");
    Set->SetConnection(Conn);
    Set->SetCursorType(ctStatic);
    Set->SetCommandText(u"select * from log");
    Proc = New<TADOStoredProc>(Owner);
    Proc->SetName(u"sqlEkle");
    Proc->SetConnection(Conn);
    Proc->SetProcedureName(u"Ekle");
  }
  void TearDown() override { Free(Owner); }

  // The program's way of logging a load: parameters by position, prepare, run.
  void AddLog(const TLoad& L) {
    TParameters* p = Proc->Parameters();
    p->Items(0)->SetValue(Variant(static_cast<Word>(L.Kontor)));
    p->Items(1)->SetValue(Variant(UIntToStr(L.SeriNo)));
    p->Items(2)->SetValue(Variant(String(L.FaturaNo)));
    for (int i = 0; i < 5; ++i) p->Items(3 + i)->SetValue(Variant(L.T[i]));
    p->Items(8)->SetValue(Variant(static_cast<Byte>(L.TarifeYapisi)));
    p->Items(9)->SetValue(Variant(L.Coklu));
    p->Items(10)->SetValue(Variant(static_cast<Byte>(L.DusukAlarm)));
    p->Items(11)->SetValue(Variant(String(L.TahsilatYeri)));
    p->Items(12)->SetValue(VarFromDateTime(L.When));
    p->Items(13)->SetValue(Variant(String(L.KartSeriNo)));
    p->Items(14)->SetValue(Variant(0));
    Proc->SetPrepared(true);
    Proc->ExecProc();
  }

  Integer RowCount() {
    sqlite3* db = nullptr;
    sqlite3_open_v2((Dir + "/cardloader.mdb").c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, "select count(*) from log", -1, &st, nullptr);
    sqlite3_step(st);
    Integer n = sqlite3_column_int(st, 0);
    sqlite3_finalize(st);
    sqlite3_close(db);
    return n;
  }

  // One value of a query on the log, read with SQLite alone.
  std::string Scalar(const char* Sql) {
    sqlite3* db = nullptr;
    sqlite3_open_v2((Dir + "/cardloader.mdb").c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* st = nullptr;
    std::string out = "(error)";
    if (sqlite3_prepare_v2(db, Sql, -1, &st, nullptr) == SQLITE_OK && sqlite3_step(st) == SQLITE_ROW)
      out = sqlite3_column_text(st, 0) ? reinterpret_cast<const char*>(sqlite3_column_text(st, 0)) : "";
    sqlite3_finalize(st);
    sqlite3_close(db);
    return out;
  }

  // Runs Body in a child process whose files may grow to Limit bytes (a
  // nearly full disk); answers the child's exit code.
  template <class F>
  int InChildWithFileLimit(rlim_t Limit, F Body) {
    pid_t pid = fork();
    if (pid == 0) {
      signal(SIGXFSZ, SIG_IGN);
      rlimit r{Limit, RLIM_INFINITY};
      setrlimit(RLIMIT_FSIZE, &r);
      int code = 100;
      try {
        code = Body();
      } catch (...) {
        code = 101;
      }
      _exit(code);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  std::string Dir;
  String File;
  TComponent* Owner{};
  TADOConnection* Conn{};
  TADODataSet* Set{};
  TADOStoredProc* Proc{};
};

TEST(LogDatabaseNames, FileNameAndConnectionString) {
  EXPECT_EQ(LogDatabaseFileName(u"/opt/kart/KartYukle"), u"/opt/kart/KartYukle.mdb");
  EXPECT_EQ(LogDatabaseFileName(u"/opt/kart.d/KartYukle.exe"), u"/opt/kart.d/KartYukle.mdb");
  EXPECT_EQ(LogConnectionString(u"/x/a.mdb"),
            u"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=/x/a.mdb;Persist Security Info=False");
  EXPECT_EQ(ConnectionStringValue(u"Provider=P;Data Source=\"C:\\a;b.mdb\";X=1", u"data source"),
            u"C:\\a;b.mdb");
  EXPECT_EQ(ConnectionStringValue(u"Provider=P", u"Data Source"), u"");
}

TEST_F(AdoTest, LogFieldsComeBackWithTheirTypes) {
  Conn->Open();
  Set->Open();
  struct Expect {
    const char16_t* Name;
    TFieldType Type;
    TClass Class;
    Integer Size;
  };
  const Expect fields[] = {
      {u"Index", ftAutoInc, TAutoIncField::StaticClass(), 0},
      {u"Kontor", ftWord, TWordField::StaticClass(), 0},
      {u"SeriNo", ftString, TStringField::StaticClass(), 8},
      {u"FaturaNo", ftString, TStringField::StaticClass(), 6},
      {u"T1", ftFloat, TFloatField::StaticClass(), 0},
      {u"T2", ftFloat, TFloatField::StaticClass(), 0},
      {u"T3", ftFloat, TFloatField::StaticClass(), 0},
      {u"T4", ftFloat, TFloatField::StaticClass(), 0},
      {u"T0", ftFloat, TFloatField::StaticClass(), 0},
      {u"TarifeYapisi", ftWord, TWordField::StaticClass(), 0},
      {u"CokluTarife", ftBoolean, TBooleanField::StaticClass(), 0},
      {u"DusukAlarm", ftWord, TWordField::StaticClass(), 0},
      {u"TahsilatYeri", ftString, TStringField::StaticClass(), 4},
      {u"YuklemeTS", ftDateTime, TDateTimeField::StaticClass(), 0},
      {u"KartSeriNo", ftString, TStringField::StaticClass(), 10},
      {u"CihazID", ftSmallint, TSmallintField::StaticClass(), 0},
  };
  ASSERT_EQ(Set->FieldCount(), 16);
  for (Integer i = 0; i < 16; ++i) {
    TField* f = Set->Fields()->Fields(i);
    EXPECT_EQ(f->FieldName(), fields[i].Name);
    EXPECT_EQ(f->DataType(), fields[i].Type) << i;
    EXPECT_EQ(f->ClassType(), fields[i].Class) << i;
    if (fields[i].Size) {
      EXPECT_EQ(f->Size(), fields[i].Size) << i;
    }
  }
  EXPECT_TRUE(Set->IsEmpty());
  EXPECT_TRUE(Set->Eof());
}

TEST_F(AdoTest, EkleLogsTheEdgeCases) {
  Conn->Open();
  Set->Open();
  TDataSource* source = New<TDataSource>(Owner);
  source->SetDataSet(Set);
  TWatchLink* link = New<TWatchLink>();
  link->SetBufferCount(10);
  link->SetDataSource(source);
  link->Log.clear();

  const TDateTime when = EncodeDateTime(2024, 5, 11, 9, 10, 0, 0);
  const TLoad loads[] = {
      {100, 4321, u"AB123W", {1.5, 2, 3, 4, 0.25}, 3, true, 10, u"X   ", when, u"0012ABCDEF"},
      {65535, 99999999, u"ZZ999?", {0, 0, 0, 0, 0}, 127, false, 255, u"ABCD", 0, u"FFFFFFFFFF"},
  };
  for (const TLoad& l : loads) {
    // As the program does it: the grid is not told until the set is reopened.
    Set->DisableControls();
    AddLog(l);
    Set->Close();
    Set->Open();
    Set->EnableControls();
  }
  EXPECT_EQ(link->Log, (std::vector<std::string>{"layout", "layout"}));
  EXPECT_EQ(link->RecordCount(), 2);
  EXPECT_EQ(Set->RecordCount(), 2);

  Set->First();
  EXPECT_EQ(Set->FieldByName(u"Index")->AsInteger(), 1);
  EXPECT_EQ(Set->FieldByName(u"Kontor")->AsInteger(), 100);
  EXPECT_EQ(Set->FieldByName(u"SeriNo")->AsString(), u"4321");
  EXPECT_EQ(Set->FieldByName(u"FaturaNo")->AsString(), u"AB123W");
  EXPECT_DOUBLE_EQ(Set->FieldByName(u"T1")->AsFloat(), 1.5);
  EXPECT_DOUBLE_EQ(Set->FieldByName(u"T0")->AsFloat(), 0.25);
  EXPECT_EQ(Set->FieldByName(u"TarifeYapisi")->AsInteger(), 3);
  EXPECT_TRUE(Set->FieldByName(u"CokluTarife")->AsBoolean());
  EXPECT_EQ(Set->FieldByName(u"DusukAlarm")->AsInteger(), 10);
  EXPECT_EQ(Set->FieldByName(u"TahsilatYeri")->AsString(), u"X   ");
  EXPECT_DOUBLE_EQ(Set->FieldByName(u"YuklemeTS")->AsDateTime(), when);
  EXPECT_EQ(Set->FieldByName(u"KartSeriNo")->AsString(), u"0012ABCDEF");
  EXPECT_EQ(Set->FieldByName(u"CihazID")->AsInteger(), 0);
  EXPECT_FALSE(Set->FieldByName(u"CihazID")->IsNull());
  Set->Next();
  EXPECT_EQ(Set->FieldByName(u"Index")->AsInteger(), 2);
  // A count above the 16-bit signed range is kept whole, never refused.
  EXPECT_EQ(Set->FieldByName(u"Kontor")->AsInteger(), 65535);
  EXPECT_EQ(Set->FieldByName(u"SeriNo")->AsString(), u"99999999");
  EXPECT_FALSE(Set->FieldByName(u"CokluTarife")->AsBoolean());
  EXPECT_DOUBLE_EQ(Set->FieldByName(u"YuklemeTS")->AsDateTime(), 0);
  EXPECT_EQ(RowCount(), 2);
  Free(link);
}

TEST_F(AdoTest, NavigationBookmarksAndEditsWrittenBack) {
  Conn->Open();
  const TLoad l{1, 1, u"A", {0, 0, 0, 0, 0}, 0, false, 0, u"", 0, u"1"};
  for (int i = 0; i < 5; ++i) AddLog(l);
  Set->Open();
  Set->Last();
  EXPECT_EQ(Set->FieldByName(u"Index")->AsInteger(), 5);
  TBookmark b = Set->Bookmark();
  Set->First();
  Set->GotoBookmark(b);
  EXPECT_EQ(Set->RecNo(), 5);
  EXPECT_TRUE(Set->Locate(u"Index", Variant(3), {}));
  Set->Edit();
  Set->FieldByName(u"SeriNo")->SetAsString(u"777");
  Set->Post();
  Set->Append();
  Set->FieldByName(u"Kontor")->SetAsInteger(9);
  Set->Post();
  EXPECT_EQ(Set->FieldByName(u"Index")->AsInteger(), 6);
  EXPECT_TRUE(Set->Locate(u"Index", Variant(1), {}));
  Set->Delete();
  Set->Close();
  Set->Open();
  EXPECT_EQ(Set->RecordCount(), 5);
  EXPECT_TRUE(Set->Locate(u"Index", Variant(3), {}));
  EXPECT_EQ(Set->FieldByName(u"SeriNo")->AsString(), u"777");
  EXPECT_FALSE(Set->Locate(u"Index", Variant(1), {}));
  Set->Last();
  EXPECT_EQ(Set->FieldByName(u"Kontor")->AsInteger(), 9);
  // Refresh reads rows written by others.
  Conn->Execute(u"UPDATE log SET Kontor = 10 WHERE Kontor = 9");
  Set->Refresh();
  EXPECT_EQ(Set->FieldByName(u"Kontor")->AsInteger(), 10);
  EXPECT_EQ(Set->RecordCount(), 5);
  // The auto-increment key is the database's.
  Set->Edit();
  EXPECT_THROW(Set->FieldByName(u"Index")->SetAsInteger(1), EDatabaseError);
  Set->Cancel();
}

TEST_F(AdoTest, ConnectionErrorsNameTheCause) {
  std::string missing = Dir + "/none.mdb";
  std::string text = Dir + "/text.mdb";
  std::ofstream(text) << "this is not a database file, just some words to fill the header page";
  const std::pair<String, const char16_t*> cases[] = {
      {LogConnectionString(UTF8ToUTF16(missing)), u"Could not find file"},
      {LogConnectionString(UTF8ToUTF16(text)), u"Unrecognized database format"},
      {LogConnectionString(UTF8ToUTF16(Dir)), u"is a folder"},
      {u"Provider=Unknown.Provider;Data Source=" + File, u"Provider cannot be found"},
      {u"Provider=Microsoft.Jet.OLEDB.4.0", u"no data source"},
  };
  for (const auto& c : cases) {
    Conn->SetConnectionString(c.first);
    try {
      Conn->Open();
      FAIL() << "opened " << UTF16ToUTF8(c.first);
    } catch (const EDatabaseError& E) {
      EXPECT_NE(E.Message().find(c.second), String::npos) << UTF16ToUTF8(E.Message());
    }
    EXPECT_FALSE(Conn->Connected());
  }
}

TEST_F(AdoTest, CommandErrorsNameTheCause) {
  Conn->Open();
  Set->SetCommandText(u"select * from nolog");
  try {
    Set->Open();
    FAIL();
  } catch (const EDatabaseError& E) {
    EXPECT_NE(E.Message().find(u"no such table: nolog"), String::npos) << UTF16ToUTF8(E.Message());
  }
  EXPECT_FALSE(Set->Active());
  Proc->SetProcedureName(u"Sil");
  EXPECT_THROW(Proc->ExecProc(), EDatabaseError);
  EXPECT_THROW(Proc->SetPrepared(true), EDatabaseError);
  EXPECT_FALSE(Proc->Prepared());
}

TEST_F(AdoTest, BadParametersWriteNothing) {
  Conn->Open();
  const TLoad l{1, 1, u"A", {0, 0, 0, 0, 0}, 0, false, 0, u"", 0, u"1"};
  AddLog(l);
  // A value of the wrong type.
  Proc->Parameters()->Items(0)->SetValue(Variant(u"abc"));
  try {
    Proc->ExecProc();
    FAIL();
  } catch (const EDatabaseError& E) {
    EXPECT_NE(E.Message().find(u"Kontor"), String::npos) << UTF16ToUTF8(E.Message());
  }
  // A wrong number of parameters.
  Proc->Parameters()->Items(0)->SetValue(Variant(5));
  Proc->Parameters()->CreateParameter(u"Extra", ftInteger, pdInput, 0, Variant(1));
  try {
    Proc->ExecProc();
    FAIL();
  } catch (const EDatabaseError& E) {
    EXPECT_NE(E.Message().find(u"expects 15 parameters, 16 given"), String::npos) << UTF16ToUTF8(E.Message());
  }
  EXPECT_THROW(Proc->Parameters()->Items(40), EListError);
  EXPECT_EQ(RowCount(), 1);
}

TEST_F(AdoTest, ProcedureRunsInOneTransaction) {
  Conn->Open();
  // The second statement fails on the second call (the key 1000 exists):
  // the first statement's row of that call is undone.
  DefineStoredProcedure(
      Conn, u"Twice", u"K:integer",
      u"INSERT INTO log (Kontor) VALUES (:K); INSERT INTO log (\"Index\", Kontor) VALUES (1000, :K)");
  TADOStoredProc* twice = New<TADOStoredProc>(Owner);
  twice->SetConnection(Conn);
  twice->SetProcedureName(u"Twice");
  ASSERT_EQ(twice->Parameters()->Count(), 1);
  twice->Parameters()->Items(0)->SetValue(Variant(7));
  twice->ExecProc();  // both rows go in
  EXPECT_EQ(RowCount(), 2);
  EXPECT_THROW(twice->ExecProc(), EDatabaseError);
  EXPECT_EQ(RowCount(), 2);
  // Inside a caller's transaction the procedure is a savepoint.
  Conn->BeginTrans();
  Proc->Parameters();
  AddLog(TLoad{1, 1, u"A", {0, 0, 0, 0, 0}, 0, false, 0, u"", 0, u"1"});
  Conn->RollbackTrans();
  EXPECT_EQ(RowCount(), 2);
}

TEST_F(AdoTest, LockedDatabaseRaisesAndKeepsNothingHalfWritten) {
  Conn->SetCommandTimeout(0);
  Conn->Open();
  sqlite3* other = nullptr;
  ASSERT_EQ(sqlite3_open((Dir + "/cardloader.mdb").c_str(), &other), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
  try {
    AddLog(TLoad{1, 1, u"A", {0, 0, 0, 0, 0}, 0, false, 0, u"", 0, u"1"});
    FAIL();
  } catch (const EDatabaseError& E) {
    EXPECT_NE(E.Message().find(u"locked"), String::npos) << UTF16ToUTF8(E.Message());
  }
  sqlite3_exec(other, "COMMIT", nullptr, nullptr, nullptr);
  sqlite3_close(other);
  // Once the lock is gone the same call goes through.
  Proc->ExecProc();
  EXPECT_EQ(RowCount(), 1);
}

TEST_F(AdoTest, CreatingTheLogDatabase) {
  EXPECT_THROW(CreateLogDatabase(File), EDatabaseError);
  EXPECT_FALSE(EnsureLogDatabase(File));
  String other = UTF8ToUTF16(Dir + "/second.mdb");
  EXPECT_TRUE(EnsureLogDatabase(other));
  EXPECT_THROW(CreateLogDatabase(UTF8ToUTF16(Dir + "/no/such/folder/x.mdb")), EDatabaseError);
  Conn->Open();
  TStringList* names = New<TStringList>();
  Conn->GetProcedureNames(names);
  EXPECT_EQ(names->Text(), u"Ekle\r\n");
  Conn->GetTableNames(names);
  EXPECT_EQ(names->Text(), u"log\r\n");
  Free(names);
  EXPECT_EQ(Proc->Parameters()->Count(), 15);
  EXPECT_EQ(Proc->Parameters()->Items(13)->Name(), u"KartSeriNo");
  EXPECT_EQ(Proc->Parameters()->Items(12)->DataType(), ftDateTime);
}

TEST_F(AdoTest, ClosingTheConnectionClosesItsDataSets) {
  Conn->Open();
  Set->Open();
  Proc->SetPrepared(true);
  Conn->Close();
  EXPECT_FALSE(Set->Active());
  EXPECT_FALSE(Proc->Prepared());
  // Opening the data set connects again.
  Set->Open();
  EXPECT_TRUE(Conn->Connected());
  Free(Conn);
  Conn = nullptr;
  EXPECT_EQ(Set->Connection(), nullptr);
  EXPECT_FALSE(Set->Active());
}

TEST_F(AdoTest, NullsLongTextAndBlobsComeBackWholeAndEditsStay) {
  Conn->Open();
  Conn->Execute(u"CREATE TABLE t (id INTEGER PRIMARY KEY, name VARCHAR(5), memo TEXT, data BLOB, n INTEGER)");
  // What each column of row I holds: Null on some rows, text of 0 to 900
  // characters, a name beyond its declared size, blobs with zeros, integers
  // beyond 32 bits.
  auto name = [](Integer I) { return I % 3 == 0 ? String() : u"Kontör-" + IntToStr(I); };
  auto memo = [](Integer I) {
    return String(static_cast<size_t>(I % 100) * 9, static_cast<Char>(u'ş' + I % 3));
  };
  auto blob = [](Integer I) {
    AnsiString b(static_cast<size_t>(I % 20), '\0');
    for (size_t k = 1; k < b.size(); k += 2) b[k] = static_cast<char>(0xF0 + k % 16);
    return b;
  };
  auto hex = [](const AnsiString& B) {
    String h = u"x'";
    for (unsigned char c : B) h += IntToHex(c, 2);
    return h + u"'";
  };
  String sql;
  for (Integer i = 1; i <= 300; ++i)
    sql += u"INSERT INTO t VALUES (" + IntToStr(i) + u", " +
           (name(i).empty() ? String(u"NULL") : u"'" + name(i) + u"'") + u", '" + memo(i) + u"', " +
           (i % 4 == 0 ? String(u"NULL") : hex(blob(i))) + u", " +
           (i % 5 == 0 ? String(u"NULL") : IntToStr(Int64(5000000000LL) * (i % 2 ? 1 : -1) + i)) + u");";
  Conn->Execute(sql);
  TADODataSet* d = New<TADODataSet>(Owner);
  d->SetConnection(Conn);
  d->SetCommandText(u"select * from t");
  auto expectRows = [&](const char* When, Integer Edited, Integer Deleted) {
    SCOPED_TRACE(When);
    Integer seen = 0;
    for (d->First(); !d->Eof(); d->Next(), ++seen) {
      Integer i = d->FieldByName(u"id")->AsInteger();
      ASSERT_NE(i, Deleted);
      EXPECT_EQ(d->FieldByName(u"name")->IsNull(), name(i).empty()) << i;
      EXPECT_EQ(d->FieldByName(u"name")->AsString(), name(i)) << i;
      EXPECT_EQ(d->FieldByName(u"memo")->AsString(), i == Edited ? String(5000, u'ü') : memo(i)) << i;
      EXPECT_EQ(d->FieldByName(u"data")->IsNull(), i % 4 == 0 && i != Edited) << i;
      if (i % 4 && i != Edited) {
        EXPECT_EQ(d->FieldByName(u"data")->AsAnsiString(), blob(i)) << i;
      }
      if (i % 5) {
        EXPECT_EQ(d->FieldByName(u"n")->AsLargeInt(), Int64(5000000000LL) * (i % 2 ? 1 : -1) + i) << i;
      }
    }
    EXPECT_EQ(seen, Deleted ? 299 : 300);
  };
  d->Open();
  EXPECT_EQ(d->FieldByName(u"name")->DataType(), ftString);
  expectRows("read", 0, 0);
  ASSERT_TRUE(d->Locate(u"id", Variant(8), {}));
  d->Edit();
  d->FieldByName(u"memo")->SetAsString(String(5000, u'ü'));
  d->FieldByName(u"data")->SetAsAnsiString(AnsiString("\0\1\0", 3));
  d->Post();
  ASSERT_TRUE(d->Locate(u"id", Variant(150), {}));
  d->Delete();
  expectRows("edited", 8, 150);
  d->Close();
  d->Open();
  expectRows("read again", 8, 150);
  ASSERT_TRUE(d->Locate(u"id", Variant(8), {}));
  EXPECT_EQ(d->FieldByName(u"data")->AsAnsiString(), AnsiString("\0\1\0", 3));
}

TEST_F(AdoTest, RefreshKeepsTheCursorAndBookmarksOnTheirRows) {
  Conn->Open();
  const TLoad l{1, 1, u"A", {0, 0, 0, 0, 0}, 0, false, 0, u"", 0, u"1"};
  for (int i = 0; i < 5; ++i) AddLog(l);
  Set->Open();
  ASSERT_TRUE(Set->Locate(u"Index", Variant(1), {}));
  TBookmark first = Set->Bookmark();
  ASSERT_TRUE(Set->Locate(u"Index", Variant(3), {}));
  TBookmark third = Set->Bookmark();
  ASSERT_TRUE(Set->Locate(u"Index", Variant(4), {}));
  // Others change the table: a row before the cursor goes, rows come, a row changes.
  Conn->Execute(u"DELETE FROM log WHERE \"Index\" = 1; UPDATE log SET Kontor = 42 WHERE \"Index\" = 3");
  AddLog(l);
  AddLog(l);
  Set->Refresh();
  EXPECT_EQ(Set->FieldByName(u"Index")->AsInteger(), 4);
  EXPECT_EQ(Set->RecordCount(), 6);
  EXPECT_FALSE(Set->BookmarkValid(first));
  ASSERT_TRUE(Set->BookmarkValid(third));
  Set->GotoBookmark(third);
  EXPECT_EQ(Set->FieldByName(u"Index")->AsInteger(), 3);
  EXPECT_EQ(Set->FieldByName(u"Kontor")->AsInteger(), 42);
  EXPECT_THROW(Set->GotoBookmark(first), EDatabaseError);
  Set->Last();
  EXPECT_EQ(Set->FieldByName(u"Index")->AsInteger(), 7);
  EXPECT_EQ(Set->CompareBookmarks(third, Set->Bookmark()), -1);
}

TEST_F(AdoTest, CommittedAppendSurvivesACrashOfTheProgram) {
  const TLoad l{100, 4321, u"AB123W", {1, 2, 3, 4, 5}, 1, true, 20, u"X   ", 45000.5, u"0012ABCDEF"};
  pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    // The program logs a load and dies on the spot, its connection open.
    try {
      Conn->Open();
      AddLog(l);
    } catch (...) {
      _exit(2);
    }
    kill(getpid(), SIGKILL);
    _exit(3);
  }
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << status;
  auto exists = [&](const char* Suffix) {
    return access((Dir + "/cardloader.mdb" + Suffix).c_str(), F_OK) == 0;
  };
  EXPECT_TRUE(exists("-wal"));  // the commit lives in the write-ahead log
  Conn->Open();
  Set->Open();
  ASSERT_EQ(Set->RecordCount(), 1);
  EXPECT_EQ(Set->FieldByName(u"KartSeriNo")->AsString(), u"0012ABCDEF");
  EXPECT_EQ(Set->FieldByName(u"SeriNo")->AsString(), u"4321");
  Conn->Close();
  // Closed, the log is again the one file the setup made, in rollback-journal
  // mode (header bytes 18 and 19 are 1), readable by any reader.
  EXPECT_FALSE(exists("-wal"));
  EXPECT_FALSE(exists("-shm"));
  EXPECT_FALSE(exists("-journal"));
  std::ifstream f(Dir + "/cardloader.mdb", std::ios::binary);
  char header[20] = {};
  f.read(header, sizeof header);
  EXPECT_EQ(header[18], 1);
  EXPECT_EQ(header[19], 1);
  EXPECT_EQ(RowCount(), 1);
}

// A card holds 0 to 65535 credits: a load above the 16-bit signed range is
// stored, located, filtered and edited like any other.
TEST_F(AdoTest, EveryCreditACardHoldsIsKept) {
  Conn->Open();
  AddLog(TLoad{40000, 1, u"A", {0, 0, 0, 0, 0}, 0, false, 0, u"", 0, u"1"});
  AddLog(TLoad{65535, 2, u"B", {0, 0, 0, 0, 0}, 0, false, 0, u"", 0, u"2"});
  Set->Open();
  ASSERT_TRUE(Set->Locate(u"Kontor", Variant(40000), {}));
  EXPECT_EQ(Set->FieldByName(u"SeriNo")->AsString(), u"1");
  Set->SetFilter(u"Kontor = 65535");
  Set->SetFiltered(true);
  EXPECT_EQ(Set->RecordCount(), 1);
  Set->SetFiltered(false);
  ASSERT_TRUE(Set->Locate(u"Kontor", Variant(40000), {}));
  Set->Edit();
  Set->FieldByName(u"Kontor")->SetAsInteger(50000);
  Set->Post();
  EXPECT_EQ(Scalar("select Kontor from log where SeriNo = '1'"), "50000");
  EXPECT_THROW(Set->FieldByName(u"Kontor")->SetAsInteger(65536), EDatabaseError);
}

// The time of loading is a real number on every row, a whole day included.
TEST_F(AdoTest, TimeOfLoadingIsAlwaysReal) {
  Conn->Open();
  for (TDateTime when : {45000.0, 45000.5, 0.0})
    AddLog(TLoad{1, 1, u"A", {0, 0, 0, 0, 0}, 0, false, 0, u"", when, u"1"});
  EXPECT_EQ(Scalar("select group_concat(typeof(YuklemeTS)) from log"), "real,real,real");
  Set->Open();
  EXPECT_EQ(Set->FieldByName(u"YuklemeTS")->DataType(), ftDateTime);
  EXPECT_DOUBLE_EQ(Set->FieldByName(u"YuklemeTS")->AsDateTime(), 45000.0);
}

// A new log never holds the rows of an old one of the same name, whatever
// the old one left beside it.
TEST_F(AdoTest, NewLogDoesNotReplayTheOldOnesLeftovers) {
  pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    try {
      Conn->Open();
      AddLog(TLoad{1, 1, u"A", {0, 0, 0, 0, 0}, 0, false, 0, u"", 0, u"1"});
    } catch (...) {
      _exit(2);
    }
    kill(getpid(), SIGKILL);  // a crash: the write-ahead log stays
    _exit(3);
  }
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  ASSERT_EQ(access((Dir + "/cardloader.mdb-wal").c_str(), F_OK), 0);
  ASSERT_EQ(unlink((Dir + "/cardloader.mdb").c_str()), 0);  // the operator deletes the log
  CreateLogDatabase(File);
  Conn->Open();
  Set->Open();
  EXPECT_EQ(Set->RecordCount(), 0);
  EXPECT_EQ(RowCount(), 0);
}

// A log moved or deleted while connected: the append is reported as failed
// (the row would go to a file nobody opens again).
TEST_F(AdoTest, AppendToAMovedLogFails) {
  const std::string path = Dir + "/cardloader.mdb";
  const std::pair<const char*, std::function<void()>> cases[] = {
      {"moved", [&] { ASSERT_EQ(rename(path.c_str(), (Dir + "/moved.mdb").c_str()), 0); }},
      {"deleted", [&] { ASSERT_EQ(unlink(path.c_str()), 0); }},
  };
  for (const auto& c : cases) {
    Conn->Close();
    for (const char* f : {"", "-wal", "-shm", "/../moved.mdb"}) unlink((path + f).c_str());
    CreateLogDatabase(File);
    Conn->Open();
    AddLog(TLoad{1, 1, u"A", {0, 0, 0, 0, 0}, 0, false, 0, u"", 0, u"1"});
    c.second();
    try {
      AddLog(TLoad{2, 2, u"B", {0, 0, 0, 0, 0}, 0, false, 0, u"", 0, u"2"});
      FAIL() << c.first;
    } catch (const EDatabaseError& E) {
      EXPECT_NE(E.Message().find(u"moved or deleted"), String::npos) << UTF16ToUTF8(E.Message());
    }
  }
}

// A nearly full disk (files may not grow past 8 KB): connecting leaves the log
// readable by everyone, and an append reports a full disk.
TEST_F(AdoTest, FullDiskLeavesTheLogReadable) {
  const int code = InChildWithFileLimit(8192, [&] {
    Conn->Open();
    Set->Open();
    try {
      AddLog(TLoad{1, 1, u"A", {0, 0, 0, 0, 0}, 0, false, 0, u"", 0, u"1"});
      return 1;
    } catch (const EDatabaseError& E) {
      if (E.Message().find(u"disk is full") == String::npos) return 2;
    }
    Conn->Close();
    return 0;
  });
  EXPECT_EQ(code, 0);
  std::ifstream f(Dir + "/cardloader.mdb", std::ios::binary);
  char header[20] = {};
  f.read(header, sizeof header);
  EXPECT_EQ(header[18], 1) << "rollback-journal mode";
  EXPECT_EQ(Scalar("select count(*) from log"), "0");
  // With room again, everything works.
  Conn->Open();
  AddLog(TLoad{1, 1, u"A", {0, 0, 0, 0, 0}, 0, false, 0, u"", 0, u"1"});
  EXPECT_EQ(RowCount(), 1);
}

// Without a database the procedure's parameters still exist (declared as
// the form declares them), and the call fails naming the missing file.
TEST_F(AdoTest, DeclaredParametersWithoutADatabase) {
  Conn->SetConnectionString(LogConnectionString(UTF8ToUTF16(Dir + "/none.mdb")));
  EXPECT_THROW(Conn->Open(), EDatabaseError);
  DeclareLogProcedure(Proc);
  ASSERT_EQ(Proc->Parameters()->Count(), 15);
  EXPECT_EQ(Proc->Parameters()->Items(12)->DataType(), ftDateTime);
  try {
    AddLog(TLoad{1, 1, u"A", {0, 0, 0, 0, 0}, 0, false, 0, u"", 0, u"1"});
    FAIL();
  } catch (const EDatabaseError& E) {
    EXPECT_NE(E.Message().find(u"Could not find file"), String::npos) << UTF16ToUTF8(E.Message());
  }
}

// The parameters are published where the platform publishes them: forms
// store them and later code reads and changes them by name.
TEST(AdoPublished, ParametersOfTheCommandDataSets) {
  for (TClass c : {TADODataSet::StaticClass(), TADOQuery::StaticClass(), TADOStoredProc::StaticClass()})
    EXPECT_TRUE(IsPublishedProp(c, u"Parameters")) << UTF16ToUTF8(c->ClassName());
  // The in-memory data set has the platform's Params (a TParams).
  std::unique_ptr<TMemDataSet, TObjectFree> mem(New<TMemDataSet>(nullptr));
  auto* params = dynamic_cast<TParams*>(GetObjectProp(mem.get(), u"Params"));
  ASSERT_NE(params, nullptr);
  params->CreateParam(ftInteger, u"Kontor", ptInput)->SetAsInteger(40000);
  EXPECT_EQ(mem->Params()->ParamByName(u"Kontor")->AsInteger(), 40000);
  RegisterDataClasses();
  const std::string text =
      "object sqlEkle: TADOStoredProc\n"
      "  ProcedureName = 'Ekle'\n"
      "  Parameters = <\n"
      "    item\n      Name = 'Kontor'\n      DataType = ftInteger\n      Value = Null\n    end\n"
      "    item\n      Name = 'SeriNo'\n      DataType = ftWideString\n    end>\n"
      "end\n";
  const std::string bin = ObjectTextToBinary(text);
  std::unique_ptr<TMemoryStream, TObjectFree> in(New<TMemoryStream>());
  in->WriteBuffer(bin.data(), static_cast<Integer>(bin.size()));
  in->SetPosition(0);
  std::unique_ptr<TComponent, TObjectFree> proc(ReadComponentFromStream(in.get(), nullptr));
  auto* p = dynamic_cast<TADOStoredProc*>(proc.get());
  ASSERT_NE(p, nullptr);
  ASSERT_EQ(p->Parameters()->Count(), 2);
  EXPECT_EQ(p->Parameters()->Items(1)->Name(), u"SeriNo");
  EXPECT_EQ(p->Parameters()->Items(0)->DataType(), ftInteger);
  auto* read = dynamic_cast<TParameters*>(GetObjectProp(p, u"Parameters"));
  ASSERT_EQ(read, p->Parameters());
  std::unique_ptr<TMemoryStream, TObjectFree> out(New<TMemoryStream>());
  WriteDescendentToStream(out.get(), p, nullptr);
  const std::string saved = ObjectBinaryToText(
      std::string(static_cast<const char*>(out->Memory()), static_cast<size_t>(out->Size())));
  EXPECT_NE(saved.find("Name = 'SeriNo'"), std::string::npos) << saved;
}

}  // namespace
