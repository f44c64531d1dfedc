// The card-reader protocol: frame edge cases against a scripted port, the
// device functions against the in-process emulator, and the whole load
// sequence over a pseudo-terminal against the emulator served by a thread.
#include "app/CardReader.h"

#include <stdlib.h>

#include <chrono>
#include <fstream>
#include <map>
#include <vector>

#include <gtest/gtest.h>

#include "app/CardDeviceEmulator.h"
#include "app/ReaderPort.h"
#include "platform/rtl/CodePages.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/Locale.h"
#include "serial/ComPort.h"
#include "tests/support/TestSupport.h"

namespace {

using Clock = std::chrono::steady_clock;

// Answers each command with fixed pieces, one piece per polling pass.
class TScriptPort : public TReaderPort {
 public:
  std::map<AnsiString, std::vector<AnsiString>> Script;
  std::vector<AnsiString> Sent;
  Boolean Connected() override { return true; }
  void Open() override {}
  void Close() override {}
  String Port() override { return u"COM1"; }
  void SetPort(const String&) override {}
  void SetRTS(Boolean) override {}
  void SetDTR(Boolean) override {}
  void ClearBuffer(Boolean Input, Boolean) override {
    if (Input) FPieces.clear();
  }
  Integer WriteStr(const AnsiString& Str) override {
    Sent.push_back(Str);
    const AnsiString command = Str.substr(1, Str.size() - 2);
    auto it = Script.find(command);
    if (it != Script.end()) FPieces.assign(it->second.begin(), it->second.end());
    return Integer(Str.size());
  }
  Integer InputCount() override { return FPieces.empty() ? 0 : Integer(FPieces.front().size()); }
  Integer ReadStr(AnsiString& Str, Integer Count) override {
    Str = FPieces.front().substr(0, size_t(Count));
    FPieces.erase(FPieces.begin());
    return Integer(Str.size());
  }

 private:
  std::vector<AnsiString> FPieces;
};

TReaderTimings ShortTimings() {
  TReaderTimings t;
  t.Probe = 20;
  t.CardPresent = 20;
  t.CardSerial = 20;
  t.ReadCard = 40;
  t.WriteCard = 40;
  t.AfterTransaction = 5;
  t.ResetHigh = 1;
  t.ResetLow = 1;
  return t;
}

class ReaderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetSystemLocale(TSystemLocale::Turkish);
    SetReaderTimings(TReaderTimings{});
  }
  void TearDown() override {
    SetReaderPort(nullptr);
    SetReaderIdleCallback(nullptr);
    SetReaderTimings(TReaderTimings{});
    SetCardClock(nullptr);
  }
};

TCardRecord SampleRecord() {
  TCardRecord r;
  r.Kontor = 250;
  r.SeriNo = 12345678;
  r.FaturaNo = "XY9876";
  r.T1 = r.T2 = r.T3 = r.T4 = r.T0 = 1.5;
  r.TarifeYapisi = 1;
  r.DusukAlarm = 10;
  r.TahsilatYeri = "ABCD";
  return r;
}

TEST(CardReaderFrame, FindReplyFrame) {
  struct {
    String Text;
    bool Found;
    Integer P, Q;
  } cases[] = {
      {u"\x01P\x02", true, 1, 3},       {String(u"\x00\x01P\x02", 4), true, 2, 4},
      {u"x\x02\x01P\x02", false, 3, 2}, {u"\x01\x02", false, 0, 0},  // shorter than 3
      {u"\x01\x02zz", false, 1, 2},                                  // empty payload
      {u"\x01ok", false, 1, 0},         {u"", false, 0, 0},
  };
  for (const auto& c : cases) {
    Integer p = -1, q = -1;
    EXPECT_EQ(FindReplyFrame(c.Text, p, q), c.Found) << testing::PrintToString(c.Text);
    if (c.Found || c.P) {
      EXPECT_EQ(p, c.P);
      EXPECT_EQ(q, c.Q);
    }
  }
}

TEST(CardReaderTicks, DeadlineAcrossTheWrap) {
  SetTickCount64(0xFFFFFFF0ull);
  const Cardinal d = TickDeadline(0x40);  // wraps to 0x30
  EXPECT_FALSE(DeadlinePassed(d));
  SetTickCount64(0x100000020ull);
  EXPECT_FALSE(DeadlinePassed(d));
  SetTickCount64(0x100000031ull);
  EXPECT_TRUE(DeadlinePassed(d));
  SetTickCount64(GetTickCount64() + 0);  // keep counting from here
}

TEST_F(ReaderTest, AnswersAgainstAScriptedDevice) {
  SetReaderTimings(ShortTimings());
  TScriptPort port;
  SetReaderPort(&port);
  port.Script["p"] = {"\x01o", "k\x02"};
  String reply;
  EXPECT_TRUE(ReaderTransaction(u"p", reply, 20, nullptr));
  EXPECT_EQ(reply, u"ok");  // assembled from two passes
  EXPECT_EQ(port.Sent, std::vector<AnsiString>{"\x01p\x02"});

  struct Case {
    const char* What;
    AnsiString Answer;
    bool Present;
    size_t Attempts;  // a frame ends the transaction, whatever it holds
  } probes[] = {
      {"garbage before the frame", AnsiString("\x00\x01P\x02", 4), true, 1},
      {"stray end byte first", "x\x02\x01P\x02", false, 3},
      {"empty payload", "\x01\x02", false, 3},
      {"lower-case p", "\x01p\x02", false, 1},
      {"trailing bytes ignored", "\x01P\x02junk", true, 1},
      {"longer answer", "\x01PP\x02", false, 1},
  };
  for (const Case& c : probes) {
    port.Sent.clear();
    port.Script["p"] = {c.Answer};
    EXPECT_EQ(ReaderPresent(), c.Present) << c.What;
    EXPECT_EQ(port.Sent.size(), c.Attempts) << c.What;
  }

  for (auto [answer, expected] : {std::pair<const char*, Byte>{"1", 1}, {"0", 2}, {"2", 0}, {"11", 0}}) {
    port.Script["k"] = {std::string("\x01") + answer + "\x02"};
    EXPECT_EQ(CardPresent(), expected) << answer;
  }

  TCardSerial serial;
  port.Script["s"] = {
      "\x01"
      "12345678ZZ\x02"};
  ASSERT_TRUE(ReadCardSerial(serial));
  EXPECT_EQ(std::vector<Byte>(serial.Bytes, serial.Bytes + 5),
            (std::vector<Byte>{0x12, 0x34, 0x56, 0x78, 0x00}));
  EXPECT_EQ(Int64(serial.Value), 0);
  port.Script["s"] = {
      "\x01"
      "0a1B2C3D4E\x02"};
  ASSERT_TRUE(ReadCardSerial(serial));
  EXPECT_EQ(Int64(serial.Value), 0x0A1B2C3D4Ell);
  EXPECT_EQ(serial.Bytes[0], 0x0A);
  port.Script["s"] = {
      "\x01"
      "123456789\x02"};
  EXPECT_FALSE(ReadCardSerial(serial));

  TCardRecord rec;
  port.Script["r"] = {
      "\x01"
      "006400000000AB123W090A0C910511090A09A4810AABCD111213140\x02"};  // 55 characters
  EXPECT_FALSE(ReadCard(rec));
}

TEST_F(ReaderTest, NoAnswerCostsThreeAttemptsAndThePause) {
  TScriptPort port;
  SetReaderPort(&port);
  const auto start = Clock::now();
  EXPECT_FALSE(ReaderPresent());  // the device's own time-outs: 3 x 75 ms + 50 ms
  const auto spent = Clock::now() - start;
  EXPECT_GE(spent, std::chrono::milliseconds(270));
  EXPECT_LT(spent, std::chrono::milliseconds(2000));
  EXPECT_EQ(port.Sent.size(), 3u);
}

TEST_F(ReaderTest, IdleCallbackRunsAndMayAbort) {
  SetReaderTimings(ShortTimings());
  TScriptPort port;
  SetReaderPort(&port);
  static int calls;
  calls = 0;
  SetReaderIdleCallback([](Boolean&) { ++calls; });
  EXPECT_FALSE(ReaderPresent());
  EXPECT_GT(calls, 3);

  SetReaderIdleCallback([](Boolean& Abort) { Abort = true; });
  port.Sent.clear();
  EXPECT_FALSE(ReaderPresent());
  EXPECT_EQ(port.Sent.size(), 1u);  // the abort ends the transaction after its first pass
}

TEST_F(ReaderTest, BabblingDeviceIsBounded) {
  SetReaderTimings(ShortTimings());
  TScriptPort port;
  SetReaderPort(&port);
  port.Script["p"] = std::vector<AnsiString>(64, AnsiString(4096, '\x02'));
  EXPECT_FALSE(ReaderPresent());
}

TEST_F(ReaderTest, NoPortSet) {
  TCardRecord rec;
  TCardSerial serial;
  EXPECT_FALSE(ResetReader(1));
  EXPECT_FALSE(ReaderPresent());
  EXPECT_EQ(CardPresent(), 0);
  EXPECT_FALSE(ReadCardSerial(serial));
  EXPECT_FALSE(WriteCard(rec));
  EXPECT_FALSE(ReadCard(rec));
}

TEST_F(ReaderTest, LoadSequenceAgainstTheEmulator) {
  SetReaderTimings(ShortTimings());
  TEmulatedReaderPort port(TCardDeviceOptions{}, 3);
  SetReaderPort(&port);
  ASSERT_TRUE(ResetReader(3));
  EXPECT_TRUE(port.Connected());
  EXPECT_EQ(port.LineLog(), "R1D1R0D0");
  EXPECT_TRUE(ReaderPresent());
  EXPECT_EQ(CardPresent(), 1);
  TCardSerial serial;
  ASSERT_TRUE(ReadCardSerial(serial));
  EXPECT_EQ(Int64(serial.Value), 0x0A1B2C3D4Ell);

  SetCardClock([] { return EncodeDateTime(2024, 2, 29, 9, 7, 0, 0); });
  TCardRecord rec = SampleRecord();
  ASSERT_TRUE(WriteCard(rec));
  EXPECT_EQ(port.Device().Card().substr(46), "2402290907");
  EXPECT_EQ(rec.YuklemeTS, EncodeDateTime(2024, 2, 29, 9, 7, 0, 0));  // the record read back
  EXPECT_EQ(rec.FaturaNo.ToAnsi().substr(0, 5), "XY987");

  TCardRecord read;
  ASSERT_TRUE(ReadCard(read));
  EXPECT_EQ(read.Kontor, 250);
  EXPECT_EQ(read.SeriNo, 12345678u);

  EXPECT_FALSE(ResetReader(200));  // no COM200
  EXPECT_FALSE(port.Connected());
}

TEST_F(ReaderTest, SimulatedFailures) {
  SetReaderTimings(ShortTimings());
  SetCardClock([] { return EncodeDateTime(2024, 2, 29, 9, 7, 0, 0); });
  struct Case {
    const char* What;
    TCardDeviceOptions Options;
    bool Present;
    Byte Card;
    bool Serial;
    bool Write;
  };
  auto opts = [](auto change) {
    TCardDeviceOptions o;
    change(o);
    return o;
  };
  const Case cases[] = {
      {"healthy", {}, true, 1, true, true},
      {"no card", opts([](auto& o) { o.CardPresent = false; }), true, 2, false, false},
      {"no answer", opts([](auto& o) { o.Answer = false; }), false, 0, false, false},
      {"late within the time-out", opts([](auto& o) { o.DelayMs = 5; }), true, 1, true, true},
      {"later than every attempt", opts([](auto& o) { o.DelayMs = 300; }), false, 0, false, false},
      {"answers in pieces", opts([](auto& o) {
         o.PieceSize = 2;
         o.PieceGapMs = 1;
       }),
       true, 1, true, true},
      {"garbage before the frame", opts([](auto& o) { o.Garbage = std::string("\x00\xFFzz", 4); }), true, 1,
       true, true},
      {"failed write", opts([](auto& o) { o.FailWrite = true; }), true, 1, true, false},
      {"read-back differs in the check character", opts([](auto& o) { o.DifferAt = 18; }), true, 1, true,
       false},
      {"read-back differs in the time only", opts([](auto& o) { o.DifferAt = 50; }), true, 1, true, true},
  };
  for (const Case& c : cases) {
    TEmulatedReaderPort port(c.Options, 1);
    SetReaderPort(&port);
    ASSERT_TRUE(ResetReader(1)) << c.What;
    EXPECT_EQ(ReaderPresent(), c.Present) << c.What;
    EXPECT_EQ(CardPresent(), c.Card) << c.What;
    TCardSerial serial;
    EXPECT_EQ(ReadCardSerial(serial), c.Serial) << c.What;
    TCardRecord rec = SampleRecord();
    rec.YuklemeTS = 12.0;
    EXPECT_EQ(WriteCard(rec), c.Write) << c.What;
    if (!c.Write) {
      EXPECT_EQ(rec.YuklemeTS, 12.0) << c.What << ": the record stays as it was";
    }
    SetReaderPort(nullptr);
  }
}

// Every check value reaches the card as the byte computed, also where the
// Turkish code page holds no character for it; the two frame bytes are
// refused before anything is sent.
TEST_F(ReaderTest, EveryCheckByteReachesTheCard) {
  SetReaderTimings(ShortTimings());
  SetCardClock([] { return EncodeDateTime(2024, 2, 29, 9, 7, 0, 0); });
  TCardRecord base = SampleRecord();
  base.Kontor = 0;
  const Byte rest = CardCheckValue(0, u"12345678", u"XY987");
  for (Integer v = 0; v < 256; ++v) {
    TEmulatedReaderPort port;
    SetReaderPort(&port);
    ASSERT_TRUE(ResetReader(1));
    TCardRecord rec = base;
    rec.Kontor = Word(v ^ rest);  // high byte 0: the check is v
    if (v == FrameStart || v == FrameEnd) {
      EXPECT_THROW(WriteCard(rec), ECardError) << v;
      EXPECT_EQ(port.Device().Commands(), 0u) << v << ": nothing was sent";
      continue;
    }
    ASSERT_TRUE(WriteCard(rec)) << v;
    EXPECT_EQ(Byte(port.Device().Card()[17]), v);
    EXPECT_EQ(Byte(rec.FaturaNo.ToAnsi()[5]), v) << "the record read back keeps the byte";
  }
  SetReaderPort(nullptr);
}

// The read-back is compared byte for byte: a card whose check byte came back
// as "?" is a failed write, even though both read as "?" through the code page
// (the check value 0x80 as a character, U+0080, has no byte in code page 1254).
TEST_F(ReaderTest, ReadBackComparedByteForByte) {
  SetReaderTimings(ShortTimings());
  SetCardClock([] { return EncodeDateTime(2024, 2, 29, 9, 7, 0, 0); });
  TCardRecord rec = SampleRecord();
  rec.Kontor = Word(0x80 ^ CardCheckValue(0, u"12345678", u"XY987"));
  ASSERT_EQ(StringToAnsi(CardRecordToText(rec))[CardCheckPosition - 1], '?');
  TScriptPort port;
  AnsiString card = CardRecordToBytes(rec);
  ASSERT_EQ(Byte(card[CardCheckPosition - 1]), 0x80);
  port.Script["y(" + card + ")"] = {AnsiString("\x01ok\x02")};
  AnsiString back = card;
  back[CardCheckPosition - 1] = '?';
  port.Script["r"] = {"\x01" + back + "\x02"};
  SetReaderPort(&port);
  EXPECT_FALSE(WriteCard(rec));
  // The same card read back unchanged is a good write: the script itself is sound.
  port.Script["r"] = {"\x01" + card + "\x02"};
  EXPECT_TRUE(WriteCard(rec));
  SetReaderPort(nullptr);
}

TEST_F(ReaderTest, DeviceThatDisappearsRaises) {
  TEmulatedReaderPort port;
  SetReaderPort(&port);
  ASSERT_TRUE(ResetReader(1));
  port.Disappear();
  EXPECT_THROW(ReaderPresent(), EComPort);
  EXPECT_FALSE(ResetReader(1));  // swallowed there
}

// --- Over a pseudo-terminal -------------------------------------------------------

class ReaderOverPtyTest : public ReaderTest {
 protected:
  void Serve(const TCardDeviceOptions& Options = {}) {
    Server = std::make_unique<TCardEmulatorServer>(Options);
    ASSERT_TRUE(Server->Start());
    const std::string dir = testing_support::MakeTempDir("cardpty");
    const std::string file = dir + "/ports.ini";
    std::ofstream(file) << "COM5=" << Server->SlavePath() << "\n";
    ::setenv("CL_PORTS_FILE", file.c_str(), 1);
    SetReaderPort(&Port);
  }
  void TearDown() override {
    Port.Close();
    Server.reset();
    ::unsetenv("CL_PORTS_FILE");
    ReaderTest::TearDown();
  }
  std::unique_ptr<TCardEmulatorServer> Server;
  TDirectReaderPort Port;
};

TEST_F(ReaderOverPtyTest, LoadAndReadEndToEnd) {
  Serve();
  SetCardClock([] { return EncodeDateTime(2011, 12, 13, 14, 5, 0, 0); });
  ASSERT_TRUE(ResetReader(5));
  ASSERT_TRUE(ReaderPresent());
  EXPECT_EQ(CardPresent(), 1);
  TCardSerial serial;
  ASSERT_TRUE(ReadCardSerial(serial));
  EXPECT_EQ(serial.Bytes[4], 0x4E);
  TCardRecord rec = SampleRecord();
  ASSERT_TRUE(WriteCard(rec));
  EXPECT_EQ(Server->Card().substr(0, 12), "00FA12345678");
  TCardRecord read;
  ASSERT_TRUE(ReadCard(read));
  EXPECT_EQ(read.Kontor, 250);
  Port.Close();
  // The port can be opened again by the next workflow.
  EXPECT_TRUE(ResetReader(5));
  EXPECT_TRUE(ReaderPresent());
}

TEST_F(ReaderOverPtyTest, FailuresOverTheLine) {
  SetReaderTimings(ShortTimings());
  TCardDeviceOptions o;
  o.CardPresent = false;
  o.PieceSize = 1;
  o.Garbage = "zz";
  Serve(o);
  ASSERT_TRUE(ResetReader(5));
  EXPECT_TRUE(ReaderPresent());
  EXPECT_EQ(CardPresent(), 2);
  TCardSerial serial;
  EXPECT_FALSE(ReadCardSerial(serial));
  EXPECT_FALSE(ResetReader(6));  // not in the table
  EXPECT_FALSE(Port.Connected());
}

TEST_F(ReaderOverPtyTest, PortInUseAndDeviceGone) {
  Serve();
  TDirectReaderPort other;
  other.SetPort(u"COM5");
  other.Open();
  EXPECT_FALSE(ResetReader(5));  // in use
  try {
    Port.SetPort(u"COM5");
    Port.Open();
    ADD_FAILURE() << "opened a port in use";
  } catch (const EComPort& e) {
    EXPECT_EQ(e.Code(), 1);
    EXPECT_EQ(e.WinCode(), 5);
    EXPECT_EQ(e.Message(), u"COM Port Error: Unable to open com port on COM5");
  }
  other.Close();

  ASSERT_TRUE(ResetReader(5));
  ASSERT_TRUE(ReaderPresent());
  Server->Hangup();
  EXPECT_THROW(ReaderPresent(), EComPort);
}

TEST_F(ReaderOverPtyTest, ThroughTheComponentWithItsEventThread) {
  Serve();
  TComPort* com = New<TComPort>(nullptr);  // the main window's settings: the defaults, all ten events
  TComPortReader reader(com);
  SetReaderPort(&reader);
  SetCardClock([] { return EncodeDateTime(2011, 12, 13, 14, 5, 0, 0); });
  ASSERT_TRUE(ResetReader(5));
  EXPECT_TRUE(com->Connected());
  EXPECT_TRUE(ReaderPresent());
  EXPECT_EQ(CardPresent(), 1);
  TCardSerial serial;
  EXPECT_TRUE(ReadCardSerial(serial));
  TCardRecord rec = SampleRecord();
  EXPECT_TRUE(WriteCard(rec));
  com->SetConnected(false);
  EXPECT_FALSE(ResetReader(9));  // no such port: closed, false
  EXPECT_FALSE(com->Connected());
  SetReaderPort(nullptr);
  Free(com);
}

}  // namespace
