// Serial communications over a pseudo-terminal pair: the test holds the
// master end and plays the device; "COM7" is mapped to the slave through a
// temporary ports file.
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "platform/classes/WinRegistry.h"
#include "platform/win/Comm.h"
#include "tests/support/TestSupport.h"

using namespace win;

namespace {

class PtyPair {
 public:
  PtyPair() {
    Master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (Master < 0 || ::grantpt(Master) != 0 || ::unlockpt(Master) != 0) return;
    SlavePath = ::ptsname(Master);
    ::fcntl(Master, F_SETFL, ::fcntl(Master, F_GETFL) | O_NONBLOCK);
  }
  ~PtyPair() { CloseMaster(); }
  void CloseMaster() {
    if (Master >= 0) ::close(Master);
    Master = -1;
  }
  void Send(const std::string& Bytes) const {
    ASSERT_EQ(::write(Master, Bytes.data(), Bytes.size()), ssize_t(Bytes.size()));
  }
  // Everything that arrives within the time given.
  std::string Receive(size_t Want, int Ms = 1000) const {
    std::string got;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(Ms);
    while (got.size() < Want && std::chrono::steady_clock::now() < end) {
      pollfd p{Master, POLLIN, 0};
      if (::poll(&p, 1, 10) > 0) {
        char buf[256];
        const ssize_t n = ::read(Master, buf, sizeof buf);
        if (n > 0) got.append(buf, size_t(n));
      }
    }
    return got;
  }
  int Master = -1;
  std::string SlavePath;
};

class CommTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_GE(Pty.Master, 0);
    Dir = testing_support::MakeTempDir("comm");
    PortsFile = Dir + "/ports.ini";
    std::ofstream(PortsFile) << "; test ports\n[Ports]\n com7 = " << Pty.SlavePath << "\nCOM8=" << Dir
                             << "/missing\n";
    ::setenv("CL_PORTS_FILE", PortsFile.c_str(), 1);
  }
  void TearDown() override {
    if (Port != INVALID_HANDLE_VALUE && Port) CloseHandle(Port);
    ::unsetenv("CL_PORTS_FILE");
  }
  HANDLE Open(const char16_t* Name = u"\\\\.\\COM7", DWORD Flags = FILE_FLAG_OVERLAPPED) {
    return CreateFileW(Name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, Flags, nullptr);
  }
  void OpenConfigured(DWORD Flags = FILE_FLAG_OVERLAPPED) {
    Port = Open(u"\\\\.\\COM7", Flags);
    ASSERT_NE(Port, INVALID_HANDLE_VALUE) << GetLastError();
    ASSERT_TRUE(SetupComm(Port, 1024, 1024));
    DCB d{};
    ASSERT_TRUE(GetCommState(Port, &d));
    d.DCBlength = sizeof d;
    d.BaudRate = 9600;
    d.fBinary = 1;
    d.ByteSize = 8;
    d.Parity = NOPARITY;
    d.StopBits = ONESTOPBIT;
    ASSERT_TRUE(SetCommState(Port, &d)) << GetLastError();
    SetTimeouts(MAXDWORD, 0, 0);
  }
  void SetTimeouts(DWORD Interval, DWORD Multiplier, DWORD Constant) {
    COMMTIMEOUTS t{Interval, Multiplier, Constant, 100, 1000};
    ASSERT_TRUE(SetCommTimeouts(Port, &t));
  }
  DWORD InQueue() {
    COMSTAT st{};
    DWORD errors = 0;
    EXPECT_TRUE(ClearCommError(Port, &errors, &st));
    return st.cbInQue;
  }
  DWORD WaitInQueue(DWORD Want) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    DWORD n = 0;
    while ((n = InQueue()) < Want && std::chrono::steady_clock::now() < end)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return n;
  }
  std::string ReadNow(DWORD Count) {
    std::string buf(Count, '\0');
    HANDLE ev = CreateEventW(nullptr, 1, 0, nullptr);
    OVERLAPPED ov{};
    ov.hEvent = ev;
    DWORD n = 0;
    if (!ReadFile(Port, buf.data(), Count, &n, &ov)) {
      EXPECT_EQ(GetLastError(), ERROR_IO_PENDING);
      EXPECT_TRUE(GetOverlappedResult(Port, &ov, &n, 1));
    }
    CloseHandle(ev);
    buf.resize(n);
    return buf;
  }

  PtyPair Pty;
  std::string Dir, PortsFile;
  HANDLE Port = INVALID_HANDLE_VALUE;
};

TEST_F(CommTest, WriteReadAndQueueCounts) {
  OpenConfigured();
  DCB d{};
  ASSERT_TRUE(GetCommState(Port, &d));
  EXPECT_EQ(d.BaudRate, 9600u);
  EXPECT_EQ(d.ByteSize, 8);

  HANDLE ev = CreateEventW(nullptr, 1, 0, nullptr);
  OVERLAPPED ov{};
  ov.hEvent = ev;
  DWORD n = 0;
  const char text[] = "\x01p\x02";
  if (!WriteFile(Port, text, 3, &n, &ov)) {
    ASSERT_EQ(GetLastError(), ERROR_IO_PENDING);
    ASSERT_TRUE(GetOverlappedResult(Port, &ov, &n, 1));
  }
  EXPECT_EQ(n, 3u);
  EXPECT_EQ(WaitForSingleObject(ev, 0), WAIT_OBJECT_0);  // the event is set on completion, even at once
  CloseHandle(ev);
  EXPECT_EQ(Pty.Receive(3), "\x01p\x02");

  EXPECT_EQ(ReadNow(5), "");  // nothing queued: MAXDWORD/0/0 returns at once
  Pty.Send("abc");
  EXPECT_EQ(WaitInQueue(3), 3u);
  EXPECT_EQ(ReadNow(5), "abc");  // fewer than asked: what is queued
  EXPECT_EQ(InQueue(), 0u);
}

TEST_F(CommTest, PurgeDiscardsReceivedBytes) {
  OpenConfigured();
  Pty.Send("garbage");
  ASSERT_EQ(WaitInQueue(7), 7u);
  ASSERT_TRUE(PurgeComm(Port, PURGE_RXCLEAR | PURGE_TXCLEAR));
  EXPECT_EQ(InQueue(), 0u);
  EXPECT_TRUE(PurgeComm(Port, 0));
  EXPECT_FALSE(PurgeComm(Port, 0x10));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST_F(CommTest, ReadTimeouts) {
  OpenConfigured();
  // A total time-out with nothing arriving: success with no bytes, after the time.
  SetTimeouts(0, 0, 40);
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(ReadNow(4), "");
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(35));

  // Bytes that arrive while the read waits are taken; the full count ends it early.
  SetTimeouts(0, 0, 2000);
  std::thread t([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    Pty.Send("wxyz");
  });
  start = std::chrono::steady_clock::now();
  EXPECT_EQ(ReadNow(4), "wxyz");
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1500));
  t.join();

  // Wait for the first byte, then return what is there.
  SetTimeouts(MAXDWORD, MAXDWORD, 1000);
  Pty.Send("q");
  EXPECT_EQ(ReadNow(10), "q");

  COMMTIMEOUTS bad{MAXDWORD, MAXDWORD, MAXDWORD, 0, 0};
  EXPECT_FALSE(SetCommTimeouts(Port, &bad));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST_F(CommTest, BlockingPortWithoutOverlappedFlag) {
  OpenConfigured(0);
  SetTimeouts(0, 0, 500);
  Pty.Send("xy");
  char buf[2] = {};
  DWORD n = 0;
  ASSERT_TRUE(ReadFile(Port, buf, 2, &n, nullptr));
  EXPECT_EQ(std::string(buf, n), "xy");
  ASSERT_TRUE(WriteFile(Port, "ok", 2, &n, nullptr));
  EXPECT_EQ(n, 2u);
  EXPECT_EQ(Pty.Receive(2), "ok");
}

TEST_F(CommTest, PseudoTerminalHasNoModemLines) {
  OpenConfigured();
  for (DWORD f : {SETDTR, SETRTS, CLRRTS, CLRDTR, SETBREAK, CLRBREAK})
    EXPECT_TRUE(EscapeCommFunction(Port, f)) << f;
  DWORD status = 0xFFFF;
  ASSERT_TRUE(GetCommModemStatus(Port, &status));
  EXPECT_EQ(status, 0u);
  EXPECT_FALSE(EscapeCommFunction(Port, 77));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST_F(CommTest, LineSettingsThatAreRefused) {
  OpenConfigured();
  DCB good{};
  ASSERT_TRUE(GetCommState(Port, &good));
  struct Case {
    const char* What;
    void (*Change)(DCB&);
    bool Ok;
  } cases[] = {
      {"8 data bits, 1.5 stop bits", [](DCB& d) { d.StopBits = ONE5STOPBITS; }, false},
      {"5 data bits, 1.5 stop bits",
       [](DCB& d) {
         d.ByteSize = 5;
         d.StopBits = ONE5STOPBITS;
       },
       true},
      {"5 data bits, 2 stop bits",
       [](DCB& d) {
         d.ByteSize = 5;
         d.StopBits = TWOSTOPBITS;
       },
       false},
      {"7 data bits, even parity, 2 stop bits",
       [](DCB& d) {
         d.ByteSize = 7;
         d.Parity = EVENPARITY;
         d.StopBits = TWOSTOPBITS;
       },
       true},
      {"9 data bits", [](DCB& d) { d.ByteSize = 9; }, false},
      {"parity 5", [](DCB& d) { d.Parity = 5; }, false},
      {"speed 0", [](DCB& d) { d.BaudRate = 0; }, false},
      {"speed 14400 (termios2)", [](DCB& d) { d.BaudRate = 14400; }, true},
      {"mark parity", [](DCB& d) { d.Parity = MARKPARITY; }, true},
      {"DTR handshake", [](DCB& d) { d.fDtrControl = DTR_CONTROL_HANDSHAKE; }, false},
      {"DSR output flow", [](DCB& d) { d.fOutxDsrFlow = 1; }, false},
      {"RTS toggle", [](DCB& d) { d.fRtsControl = RTS_CONTROL_TOGGLE; }, false},
      {"RTS handshake", [](DCB& d) { d.fRtsControl = RTS_CONTROL_HANDSHAKE; }, true},
      {"Xon equal to Xoff",
       [](DCB& d) {
         d.fOutX = 1;
         d.XonChar = d.XoffChar = 17;
       },
       false},
  };
  for (const Case& c : cases) {
    DCB d = good;
    c.Change(d);
    const BOOL ok = SetCommState(Port, &d);
    EXPECT_EQ(ok != 0, c.Ok) << c.What << " error " << GetLastError();
    if (!c.Ok) {
      EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER) << c.What;
    } else {
      DCB back{};
      ASSERT_TRUE(GetCommState(Port, &back));
      EXPECT_EQ(back.BaudRate, d.BaudRate) << c.What;
      EXPECT_EQ(back.StopBits, d.StopBits) << c.What;
    }
  }
}

TEST_F(CommTest, OpenErrors) {
  EXPECT_EQ(Open(u"COM99"), INVALID_HANDLE_VALUE);  // not in the table
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(Open(u"COM8"), INVALID_HANDLE_VALUE);  // in the table, no such device
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(Open(u"LPT1"), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);

  Port = Open(u"COM7");
  ASSERT_NE(Port, INVALID_HANDLE_VALUE);
  EXPECT_EQ(Open(u"\\\\.\\COM7"), INVALID_HANDLE_VALUE);  // in use
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);

  // Closed, the port can be opened again; the old handle is dead.
  HANDLE old = Port;
  ASSERT_TRUE(CloseHandle(Port));
  Port = Open(u"com7");
  EXPECT_NE(Port, INVALID_HANDLE_VALUE);
  DCB d{};
  EXPECT_FALSE(GetCommState(old == Port ? INVALID_HANDLE_VALUE : old, &d));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

TEST_F(CommTest, WaitCommEventReportsReceivedBytesAndEnds) {
  OpenConfigured();
  ASSERT_TRUE(SetCommMask(Port, EV_RXCHAR | EV_TXEMPTY | EV_CTS));
  DWORD mask = 0;
  ASSERT_TRUE(GetCommMask(Port, &mask));
  EXPECT_EQ(mask, EV_RXCHAR | EV_TXEMPTY | EV_CTS);

  HANDLE ev = CreateEventW(nullptr, 1, 1, nullptr);
  OVERLAPPED ov{};
  ov.hEvent = ev;
  DWORD got = 0;
  ASSERT_FALSE(WaitCommEvent(Port, &got, &ov));
  ASSERT_EQ(GetLastError(), ERROR_IO_PENDING);
  EXPECT_EQ(WaitForSingleObject(ev, 0), WAIT_TIMEOUT);  // the start cleared the event
  DWORD n = 0;
  EXPECT_FALSE(GetOverlappedResult(Port, &ov, &n, 0));
  EXPECT_EQ(GetLastError(), ERROR_IO_INCOMPLETE);
  Pty.Send("z");
  ASSERT_EQ(WaitForSingleObject(ev, 2000), WAIT_OBJECT_0);
  ASSERT_TRUE(GetOverlappedResult(Port, &ov, &n, 0));
  EXPECT_EQ(got, EV_RXCHAR);

  // A write ends with the output queue empty.
  WriteFile(Port, "a", 1, &n, &ov);
  ASSERT_TRUE(GetOverlappedResult(Port, &ov, &n, 1));
  got = 0;
  if (!WaitCommEvent(Port, &got, &ov)) {
    ASSERT_EQ(GetLastError(), ERROR_IO_PENDING);
    ASSERT_EQ(WaitForSingleObject(ev, 2000), WAIT_OBJECT_0);
  }
  EXPECT_EQ(got, EV_TXEMPTY);

  // Changing the mask ends a pending wait with no event; CancelIo aborts one.
  ASSERT_FALSE(WaitCommEvent(Port, &got, &ov));
  ASSERT_TRUE(SetCommMask(Port, EV_RXCHAR));
  ASSERT_TRUE(GetOverlappedResult(Port, &ov, &n, 1));
  EXPECT_EQ(got, 0u);
  ASSERT_FALSE(WaitCommEvent(Port, &got, &ov));
  ASSERT_TRUE(CancelIo(Port));
  EXPECT_FALSE(GetOverlappedResult(Port, &ov, &n, 1));
  EXPECT_EQ(GetLastError(), ERROR_OPERATION_ABORTED);
  CloseHandle(ev);
}

TEST_F(CommTest, ClosingAbortsPendingTransfers) {
  OpenConfigured();
  SetTimeouts(0, 0, 0);  // wait for the full count
  HANDLE ev = CreateEventW(nullptr, 1, 0, nullptr);
  OVERLAPPED ov{};
  ov.hEvent = ev;
  char buf[8];
  DWORD n = 0;
  ASSERT_FALSE(ReadFile(Port, buf, sizeof buf, &n, &ov));
  ASSERT_EQ(GetLastError(), ERROR_IO_PENDING);
  ASSERT_TRUE(PurgeComm(Port, PURGE_RXABORT));
  EXPECT_FALSE(GetOverlappedResult(Port, &ov, &n, 1));
  EXPECT_EQ(GetLastError(), ERROR_OPERATION_ABORTED);

  ASSERT_FALSE(ReadFile(Port, buf, sizeof buf, &n, &ov));
  ASSERT_TRUE(CloseHandle(Port));
  Port = INVALID_HANDLE_VALUE;
  EXPECT_FALSE(GetOverlappedResult(Port, &ov, &n, 1));
  EXPECT_EQ(GetLastError(), ERROR_OPERATION_ABORTED);
  CloseHandle(ev);
}

TEST_F(CommTest, DeviceThatHangsUp) {
  OpenConfigured();
  Pty.Send("12");
  ASSERT_EQ(WaitInQueue(2), 2u);
  Pty.CloseMaster();
  // What arrived before can still be read; then the port reports the fault.
  EXPECT_EQ(ReadNow(2), "12");
  COMSTAT st{};
  DWORD errors = 0;
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(2);
  BOOL ok = 1;
  while ((ok = ClearCommError(Port, &errors, &st)) && std::chrono::steady_clock::now() < end)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  EXPECT_FALSE(ok);
  EXPECT_EQ(GetLastError(), ERROR_GEN_FAILURE);
  DWORD n = 0;
  OVERLAPPED ov{};
  EXPECT_FALSE(WriteFile(Port, "x", 1, &n, &ov));
  EXPECT_EQ(GetLastError(), ERROR_GEN_FAILURE);
}

TEST_F(CommTest, PortTableAndRegistryList) {
  const auto table = SerialPortTable();
  ASSERT_EQ(table.size(), 2u);
  EXPECT_EQ(table[0].Name, u"COM7");
  EXPECT_EQ(table[0].Device, Pty.SlavePath);
  EXPECT_EQ(SerialPortDevice(u"\\\\.\\cOm7"), Pty.SlavePath);
  EXPECT_EQ(SerialPortDevice(u"COM07"), "");

  ::setenv("CL_REGISTRY_DIR", (Dir + "/reg").c_str(), 1);
  RegisterSerialCommProvider();
  HKEY key{};
  ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ, &key), 0);
  std::vector<std::u16string> names;
  for (DWORD i = 0;; ++i) {
    char16_t name[256];
    BYTE data[256];
    DWORD nameLen = 256, dataLen = sizeof data, type = 0;
    if (RegEnumValueW(key, i, name, &nameLen, nullptr, &type, data, &dataLen) != 0) break;
    EXPECT_EQ(type, REG_SZ);
    names.emplace_back(reinterpret_cast<const char16_t*>(data));
  }
  RegCloseKey(key);
  UnregisterSerialCommProvider();
  ::unsetenv("CL_REGISTRY_DIR");
  EXPECT_EQ(names, (std::vector<std::u16string>{u"COM7", u"COM8"}));
}

TEST(CommPortScan, NumbersRealDevicesInAStableOrder) {
  const std::string root = testing_support::MakeTempDir("ttyscan");
  auto make = [&](const std::string& name, const char* type, bool device) {
    ::mkdir((root + "/" + name).c_str(), 0755);
    if (type) std::ofstream(root + "/" + name + "/type") << type << "\n";
    if (device) ::mkdir((root + "/" + name + "/device").c_str(), 0755);
  };
  make("ttyS10", "4", true);
  make("ttyS2", "4", true);
  make("ttyS1", "0", true);  // no UART behind it
  make("ttyUSB0", nullptr, true);
  make("ttyACM3", nullptr, true);
  make("ttyAMA0", nullptr, false);  // no device
  make("tty5", nullptr, true);
  make("ttyprintk", nullptr, true);
  const auto table = ScanSerialDevices(root);
  std::vector<std::string> got;
  for (const auto& e : table) got.push_back(std::string(e.Name.begin(), e.Name.end()) + "=" + e.Device);
  EXPECT_EQ(got, (std::vector<std::string>{"COM1=/dev/ttyS2", "COM2=/dev/ttyS10", "COM3=/dev/ttyUSB0",
                                           "COM4=/dev/ttyACM3"}));
}

}  // namespace
