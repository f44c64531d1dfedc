// The load workflow with its log: a card is written only when its load can
// be logged, and a load whose append fails after the write is kept and
// logged later.
#include "app/CardLoad.h"

#include <sqlite3.h>
#include <stdio.h>

#include <string>

#include <gtest/gtest.h>

#include "app/CardDeviceEmulator.h"
#include "app/CardReader.h"
#include "app/LoadLog.h"
#include "platform/db/ADODB.h"
#include "platform/db/LogDatabase.h"
#include "platform/rtl/CodePages.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/Locale.h"
#include "tests/support/TestSupport.h"

namespace {

class CardLoadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetSystemLocale(TSystemLocale::Turkish);
    TReaderTimings t;
    t.Probe = t.CardPresent = t.CardSerial = 20;
    t.ReadCard = t.WriteCard = 40;
    t.AfterTransaction = 1;
    t.ResetHigh = t.ResetLow = 1;
    SetReaderTimings(t);
    SetCardClock([] { return EncodeDateTime(2024, 2, 29, 9, 7, 0, 0); });
    Dir = testing_support::MakeTempDir("load");
    Path = Dir + "/cardloader.mdb";
    CreateLogDatabase(UTF8ToUTF16(Path));
    Owner = New<TComponent>(nullptr);
    Conn = New<TADOConnection>(Owner);
    Conn->SetConnectionString(LogConnectionString(UTF8ToUTF16(Path)));
    Conn->SetCommandTimeout(0);
    Set = New<TADODataSet>(Owner);
    Set->SetConnection(Conn);
    Set->SetCommandText(u"select * from log");
    Ekle = New<TADOStoredProc>(Owner);
    Ekle->SetConnection(Conn);
    DeclareLogProcedure(Ekle);
    SetReaderPort(&Port);
  }
  void TearDown() override {
    SetReaderPort(nullptr);
    SetReaderIdleCallback(nullptr);
    SetReaderTimings(TReaderTimings{});
    SetCardClock(nullptr);
    Free(Owner);
  }
  static TCardRecord Sample() {
    TCardRecord r;
    r.Kontor = 40000;
    r.SeriNo = 4321;
    r.FaturaNo = "AB1234";
    r.T1 = r.T2 = r.T3 = r.T4 = r.T0 = 1.5;
    r.TarifeYapisi = 1;
    r.DusukAlarm = 10;
    r.TahsilatYeri = "X";
    return r;
  }
  // One value of a query on the log, through a data set of its own.
  std::string Scalar(const char* Sql) {
    TADODataSet* q = New<TADODataSet>(Owner);
    q->SetConnection(Conn);
    q->SetCommandText(UTF8ToUTF16(Sql));
    q->Open();
    const std::string out = UTF16ToUTF8(q->Fields()->Fields(0)->AsString());
    Free(q);
    return out;
  }

  std::string Dir, Path;
  TEmulatedReaderPort Port;
  TComponent* Owner{};
  TADOConnection* Conn{};
  TADODataSet* Set{};
  TADOStoredProc* Ekle{};
};

TEST_F(CardLoadTest, LoadIsWrittenAndLogged) {
  Conn->Open();
  Set->Open();
  TLoadLog log(Conn, Ekle, Set);
  TCardRecord rec = Sample();
  EXPECT_EQ(LoadCard(&Port, 1, rec, log), 4);
  EXPECT_FALSE(Port.Connected());
  EXPECT_EQ(log.PendingCount(), 0);
  EXPECT_EQ(Set->RecordCount(), 1);  // the grid's data set was read again
  EXPECT_EQ(Scalar("select Kontor || ' ' || SeriNo || ' ' || TahsilatYeri || '|' || KartSeriNo from log"),
            "40000 4321 X   |0A1B2C3D4E");
  EXPECT_EQ(Scalar("select substr(FaturaNo, 1, 5) from log"), "AB123");
  // The device's other outcomes log nothing.
  Port.Device().Options().CardPresent = false;
  EXPECT_EQ(LoadCard(&Port, 1, rec, log), 2);
  EXPECT_EQ(LoadCard(&Port, 9, rec, log), 6);
  EXPECT_EQ(Scalar("select count(*) from log"), "1");
}

// A log that cannot take the load: the card is not written.
TEST_F(CardLoadTest, NoWriteWhenTheLoadCannotBeLogged) {
  struct Case {
    const char* What;
    std::function<void()> Spoil;
    std::function<void()> Mend;
  };
  sqlite3* other = nullptr;
  const Case cases[] = {
      {"no database", [&] { rename(Path.c_str(), (Path + ".away").c_str()); },
       [&] { rename((Path + ".away").c_str(), Path.c_str()); }},
      {"another writer holds the log",
       [&] {
         sqlite3_open(Path.c_str(), &other);
         sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
       },
       [&] {
         sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
         sqlite3_close(other);
       }},
      {"read-only connection",
       [&] {
         Conn->Close();
         Conn->SetMode(cmRead);
       },
       [&] {
         Conn->Close();
         Conn->SetMode(cmUnknown);
       }},
  };
  for (const Case& c : cases) {
    TLoadLog log(Conn, Ekle);
    const AnsiString before = Port.Device().Card();
    c.Spoil();
    TCardRecord rec = Sample();
    EXPECT_THROW(LoadCard(&Port, 1, rec, log), EDatabaseError) << c.What;
    EXPECT_EQ(Port.Device().Card(), before) << c.What << ": the card was written";
    EXPECT_FALSE(Port.Connected()) << c.What;
    EXPECT_FALSE(log.Reserved()) << c.What;
    c.Mend();
    EXPECT_EQ(LoadCard(&Port, 1, rec, log), 4) << c.What;
  }
  EXPECT_EQ(Scalar("select count(*) from log"), "3");
}

// The log file disappears while the card is being written: the load is
// kept, and logged once the file is back.
TEST_F(CardLoadTest, FailedAppendIsKeptAndRetried) {
  static std::string path;
  static TEmulatedReaderPort* port;
  path = Path;
  port = &Port;
  Conn->Open();
  TLoadLog log(Conn, Ekle);
  // Once the write command went out ("p", "k", "s", then "y").
  SetReaderIdleCallback([](Boolean&) {
    if (port->Device().Commands() >= 4 && access(path.c_str(), F_OK) == 0)
      rename(path.c_str(), (path + ".away").c_str());
  });
  TCardRecord rec = Sample();
  EXPECT_EQ(LoadCard(&Port, 1, rec, log), 4);  // the card is loaded
  SetReaderIdleCallback(nullptr);
  EXPECT_EQ(log.PendingCount(), 1);
  EXPECT_NE(log.LastError().find(u"moved or deleted"), String::npos) << UTF16ToUTF8(log.LastError());
  // No further card while a load waits to be logged.
  EXPECT_THROW(log.Reserve(), EDatabaseError);
  rename((Path + ".away").c_str(), Path.c_str());
  EXPECT_TRUE(log.RetryPending());
  EXPECT_EQ(log.PendingCount(), 0);
  EXPECT_EQ(Scalar("select count(*) || ' ' || Kontor from log"), "1 40000");
}

}  // namespace
