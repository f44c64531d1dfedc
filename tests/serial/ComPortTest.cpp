// The serial-port component over a pseudo-terminal pair: the test holds the
// master end; "COM4" is mapped to the slave through a temporary ports file.
#include "serial/ComPort.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "platform/classes/Filer.h"
#include "platform/classes/FormText.h"
#include "platform/classes/ModuleInit.h"
#include "platform/classes/Registry.h"
#include "platform/classes/Streams.h"
#include "platform/classes/StringLists.h"
#include "platform/classes/Threads.h"
#include "platform/classes/WinRegistry.h"
#include "platform/rtl/CodePages.h"
#include "platform/win/Windows.h"
#include "tests/support/TestSupport.h"

namespace {

using Clock = std::chrono::steady_clock;

struct TSink {
  std::mutex Lock;
  std::string Log;
  std::atomic<int> RxCount{0};
  std::atomic<bool> OffMainThread{false};
  void Add(const std::string& S) {
    if (!IsMainThread()) OffMainThread = true;
    std::lock_guard<std::mutex> g(Lock);
    Log += S + ";";
  }
  bool Has(const std::string& S) {
    std::lock_guard<std::mutex> g(Lock);
    return Log.find(S) != std::string::npos;
  }
  std::string Take() {
    std::lock_guard<std::mutex> g(Lock);
    std::string s = Log;
    Log.clear();
    return s;
  }
  void RxChar(TObject*, Integer Count) {
    Add("RxChar" + std::to_string(Count));
    RxCount = Count;
  }
  void RxBuf(TObject*, const void* Buf, Integer Count) {
    Add("PortRxBuf:" + std::string(static_cast<const char*>(Buf), size_t(Count)));
  }
  void LinkRxBuf(TObject*, const void* Buf, Integer Count) {
    Add("LinkRxBuf:" + std::string(static_cast<const char*>(Buf), size_t(Count)));
  }
  void Cts(TObject*, Boolean On) { Add(std::string("CTS") + (On ? "1" : "0")); }
  void Conn(TObject*, Boolean On) { Add(std::string("Conn") + (On ? "1" : "0")); }
  void AfterOpen(TObject*) { Add("AfterOpen"); }
  void Raise(TObject*, Integer) { throw Exception(u"handler failed"); }
  void BeforeClose(TObject*) { Add("BeforeClose"); }
  void AfterClose(TObject*) { Add("AfterClose"); }
  void RxFlag(TObject*) { Add("RxFlag"); }
  void Rx80Full(TObject*) { Add("Rx80Full"); }
  void TxEmpty(TObject*) { Add("TxEmpty"); }
  void LinkTx(TObject*, Boolean On) { Add(std::string("LinkTx") + (On ? "1" : "0")); }
  void LinkTxBuf(TObject*, const void* Buf, Integer Count) {
    Add("LinkTxBuf:" + std::string(static_cast<const char*>(Buf), size_t(Count)));
  }
};

// Installs a recording application exception handler for its lifetime.
struct HandlerScope {
  static inline TObject* Sender = nullptr;
  static inline String Message;
  decltype(ApplicationHandleException) Saved = ApplicationHandleException;
  HandlerScope() {
    Sender = nullptr;
    Message.clear();
    ApplicationHandleException = [](TObject* S) {
      Sender = S;
      try {
        throw;
      } catch (const Exception& E) {
        Message = E.Message();
      }
    };
  }
  ~HandlerScope() { ApplicationHandleException = Saved; }
};

class ComPortTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(Master, 0);
    ASSERT_EQ(::grantpt(Master), 0);
    ASSERT_EQ(::unlockpt(Master), 0);
    ::fcntl(Master, F_SETFL, ::fcntl(Master, F_GETFL) | O_NONBLOCK);
    Dir = testing_support::MakeTempDir("comport");
    const std::string file = Dir + "/ports.ini";
    std::ofstream(file) << "COM4=" << ::ptsname(Master) << "\n";
    ::setenv("CL_PORTS_FILE", file.c_str(), 1);
    Port = New<TComPort>(nullptr);
    Port->SetPort(u"COM4");
  }
  void TearDown() override {
    FreeAndNil(Port);
    ::close(Master);
    ::unsetenv("CL_PORTS_FILE");
  }
  void Send(const std::string& S) { ASSERT_EQ(::write(Master, S.data(), S.size()), ssize_t(S.size())); }
  std::string Receive(size_t Want) {
    std::string got;
    const auto end = Clock::now() + std::chrono::seconds(1);
    while (got.size() < Want && Clock::now() < end) {
      pollfd p{Master, POLLIN, 0};
      if (::poll(&p, 1, 10) > 0) {
        char buf[256];
        const ssize_t n = ::read(Master, buf, sizeof buf);
        if (n > 0) got.append(buf, size_t(n));
      }
    }
    return got;
  }
  template <typename F>
  bool WaitUntil(F Done) {
    const auto end = Clock::now() + std::chrono::seconds(2);
    while (!Done() && Clock::now() < end) {
      Pump();
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return Done();
  }
  // What a program's main loop does: synchronized calls and window messages.
  static void Pump() {
    CheckSynchronize(0);
    win::MSG m;
    while (win::PeekMessageW(&m, nullptr, 0, 0, win::PM_REMOVE)) win::DispatchMessageW(&m);
  }

  int Master = -1;
  std::string Dir;
  TComPort* Port = nullptr;
  TSink Sink;
};

TEST(ComPortErrors, CodesAndTexts) {
  EXPECT_EQ(ComErrorText(1), u"Unable to open com port");
  EXPECT_EQ(ComErrorText(14), u"Cannot set property while connected");
  EXPECT_EQ(ComErrorText(23), u"Registry error");
  EXPECT_EQ(ComErrorText(0), u"Unknown Error #0");
  EXPECT_EQ(ComErrorText(24), u"Unknown Error #24");
  const EComPort e(7, 87, u"COM2");
  EXPECT_EQ(e.Message(), u"COM Port Error: SetCommState function failed on COM2");
  EXPECT_EQ(e.Code(), 7);
  EXPECT_EQ(e.WinCode(), 87);
  const EComPort n = EComPort::CreateNoWinCode(22);
  EXPECT_EQ(n.Message(), u"COM Port Error: A component is linked to OnRxBuf event");
  EXPECT_EQ(n.WinCode(), -1);
  EXPECT_EQ(ComEventsToMask(TComEvents{evRxChar, evRing, evRx80Full}), 0x0501u);
  EXPECT_TRUE(MaskToComEvents(0x00A0) == (TComEvents{evError, evRLSD}));
}

TEST_F(ComPortTest, OpenMissingAndInUse) {
  Port->SetPort(u"COM9");
  try {
    Port->Open();
    FAIL() << "opened a missing port";
  } catch (const EComPort& e) {
    EXPECT_EQ(e.Message(), u"COM Port Error: Unable to open com port on COM9");
    EXPECT_EQ(e.Code(), 1);
    EXPECT_EQ(e.WinCode(), 2);
  }
  EXPECT_FALSE(Port->Connected());

  Port->SetPort(u"COM4");
  Port->Open();
  TComPort* other = New<TComPort>(nullptr);
  other->SetPort(u"COM4");
  try {
    other->Open();
    ADD_FAILURE() << "opened a port in use";
  } catch (const EComPort& e) {
    EXPECT_EQ(e.WinCode(), 5);
  }
  Free(other);
}

TEST_F(ComPortTest, SettingsApplyOnceAtEndUpdate) {
  Port->SetEvents(TComEvents{});
  Port->Open();
  win::DCB d{};
  ASSERT_TRUE(win::GetCommState(Port->Handle(), &d));
  EXPECT_EQ(d.BaudRate, 9600u);
  EXPECT_EQ(d.ByteSize, 8);
  EXPECT_EQ(d.XonLim, 256);
  Port->BeginUpdate();
  Port->SetBaudRate(br19200);
  Port->SetDataBits(dbSeven);
  Port->Parity()->SetBits(prEven);
  ASSERT_TRUE(win::GetCommState(Port->Handle(), &d));
  EXPECT_EQ(d.BaudRate, 9600u);  // not yet
  Port->EndUpdate();
  ASSERT_TRUE(win::GetCommState(Port->Handle(), &d));
  EXPECT_EQ(d.BaudRate, 19200u);
  EXPECT_EQ(d.ByteSize, 7);
  EXPECT_EQ(d.Parity, 2);

  Port->Buffer()->SetInputSize(1001);
  EXPECT_EQ(Port->Buffer()->InputSize(), 1000);
  Port->SetBaudRate(br9600);  // the next line settings carry the limits
  ASSERT_TRUE(win::GetCommState(Port->Handle(), &d));
  EXPECT_EQ(d.XonLim, 250);
  EXPECT_EQ(d.XoffLim, 250);
}

TEST_F(ComPortTest, DerivedFlowControl) {
  TComFlowControl* f = Port->FlowControl();
  EXPECT_EQ(f->FlowControl(), fcNone);
  f->SetControlDTR(dtrHandshake);  // does not enter
  EXPECT_EQ(f->FlowControl(), fcNone);
  f->SetFlowControl(fcHardware);
  EXPECT_EQ(f->ControlRTS(), rtsHandshake);
  EXPECT_TRUE(f->OutCTSFlow());
  EXPECT_EQ(f->FlowControl(), fcHardware);
  f->SetFlowControl(fcSoftware);
  EXPECT_EQ(f->ControlRTS(), rtsDisable);
  EXPECT_TRUE(f->XonXoffIn() && f->XonXoffOut());
  EXPECT_EQ(f->FlowControl(), fcSoftware);
  f->SetXonXoffIn(false);
  EXPECT_EQ(f->FlowControl(), fcCustom);
  f->SetFlowControl(fcCustom);
  EXPECT_FALSE(f->XonXoffIn());
  EXPECT_TRUE(f->XonXoffOut());
}

TEST_F(ComPortTest, RefusedSettingRaisesAndCodes) {
  Port->Open();
  try {
    Port->FlowControl()->SetControlDTR(dtrHandshake);
    FAIL();
  } catch (const EComPort& e) {
    EXPECT_EQ(e.Code(), 7);
    EXPECT_EQ(e.WinCode(), 87);
  }
  try {
    Port->SetSyncMethod(smWindowSync);
    FAIL();
  } catch (const EComPort& e) {
    EXPECT_EQ(e.Code(), 14);
    EXPECT_EQ(e.Message(), u"COM Port Error: Cannot set property while connected");
  }
  EXPECT_TRUE(Port->Connected());  // the port stays open after errors
  Port->SetPort(u"COM4");          // same name: nothing
  EXPECT_TRUE(Port->Connected());
}

TEST_F(ComPortTest, TransferQueuesAndLines) {
  Port->SetEvents(TComEvents{});
  Port->Open();
  EXPECT_EQ(Port->WriteStr(""), 0);
  EXPECT_EQ(Port->WriteStr("\x01p\x02"), 3);
  EXPECT_EQ(Receive(3), "\x01p\x02");
  Send("abc");
  ASSERT_TRUE(WaitUntil([&] { return Port->InputCount() == 3; }));
  AnsiString s;
  EXPECT_EQ(Port->ReadStr(s, 5), 3);
  EXPECT_EQ(s, "abc");
  Send("zz");
  ASSERT_TRUE(WaitUntil([&] { return Port->InputCount() == 2; }));
  Port->ClearBuffer(true, true);
  EXPECT_EQ(Port->InputCount(), 0);
  Port->ClearBuffer(false, false);
  Port->SetRTS(true);
  Port->SetDTR(true);
  Port->SetDTR(false);
  EXPECT_TRUE(Port->Signals().Empty());  // a pseudo-terminal has no modem lines
  EXPECT_TRUE(Port->LastErrors().Empty());
  EXPECT_EQ(Port->OutputCount(), 0);
}

TEST_F(ComPortTest, RxCharOnTheEventThreadLeavesTheBytes) {
  Port->SetSyncMethod(smNone);
  Port->SetOnRxChar(TRxCharEvent(&Sink, &TSink::RxChar));
  Port->Open();
  Send("12345");
  ASSERT_TRUE(WaitUntil([&] { return Sink.RxCount == 5; }));
  EXPECT_EQ(Port->InputCount(), 5);  // the handler took nothing
}

TEST_F(ComPortTest, RxCharThroughSynchronize) {
  Port->SetOnRxChar(TRxCharEvent(&Sink, &TSink::RxChar));
  Port->Open();
  Send("xyz");
  ASSERT_TRUE(WaitUntil([&] { return Sink.RxCount == 3; }));
}

TEST_F(ComPortTest, LinkWithRxBufTakesTheBytes) {
  Port->SetSyncMethod(smNone);
  Port->SetOnRxChar(TRxCharEvent(&Sink, &TSink::RxChar));
  Port->SetOnRxBuf(TRxBufEvent(&Sink, &TSink::RxBuf));
  TComLink* link = New<TComLink>();
  link->SetOnRxBuf(TRxBufEvent(&Sink, &TSink::LinkRxBuf));
  Port->RegisterLink(link);
  EXPECT_FALSE(Port->TriggersOnRxChar());
  EXPECT_THROW(Port->SetTriggersOnRxChar(true), EComPort);
  EXPECT_THROW(Port->RegisterLink(link), EComPort);
  Port->Open();
  Send("hello");
  ASSERT_TRUE(WaitUntil([&] { return Sink.Has("LinkRxBuf"); }));
  Port->Close();
  EXPECT_EQ(Sink.Take(), "PortRxBuf:hello;LinkRxBuf:hello;");
  Port->UnRegisterLink(link);
  EXPECT_THROW(Port->UnRegisterLink(link), EComPort);
  Free(link);
}

TEST_F(ComPortTest, OpenAndCloseNotifications) {
  TComLink* link = New<TComLink>();
  link->SetOnConn(TComSignalEvent(&Sink, &TSink::Conn));
  link->SetOnCTSChange(TComSignalEvent(&Sink, &TSink::Cts));
  Port->RegisterLink(link);
  Port->SetOnAfterOpen(TNotifyEvent(&Sink, &TSink::AfterOpen));
  Port->SetOnBeforeClose(TNotifyEvent(&Sink, &TSink::BeforeClose));
  Port->SetOnAfterClose(TNotifyEvent(&Sink, &TSink::AfterClose));
  Port->Open();
  Port->Close();
  EXPECT_EQ(Sink.Take(), "Conn1;AfterOpen;CTS0;CTS0;BeforeClose;Conn0;AfterClose;");
  Port->UnRegisterLink(link);
  Free(link);
}

// Notes that a worker queued a synchronized call (through the hook that
// would wake a message loop), for as long as it lives.
struct TWakeSpy {
  std::atomic<bool> Woken{false};
  TNotifyEvent Saved = WakeMainThread;
  TWakeSpy() { WakeMainThread = TNotifyEvent(this, &TWakeSpy::Wake); }
  ~TWakeSpy() { WakeMainThread = Saved; }
  void Wake(TObject*) { Woken = true; }
};

// The event thread blocks in Synchronize until the main thread serves it;
// closing the port then serves it while it waits for the thread to end.
TEST_F(ComPortTest, CloseWhileTheEventThreadWaitsForSynchronize) {
  TWakeSpy spy;
  Port->SetOnRxChar(TRxCharEvent(&Sink, &TSink::RxChar));
  Port->Open();
  Send("q");
  const auto end = Clock::now() + std::chrono::seconds(2);
  while (!spy.Woken && Clock::now() < end) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  ASSERT_TRUE(spy.Woken);  // a synchronized call waits, and nothing here serves it
  const auto start = Clock::now();
  Port->Close();
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(1));
  EXPECT_FALSE(Port->Connected());
  EXPECT_EQ(Sink.RxCount, 1);  // served during the close
}

TEST_F(ComPortTest, WaitForEventWithoutTheThread) {
  Port->SetEvents(TComEvents{});
  Port->Open();
  TComEvents events{evRxChar};
  // Only bytes that arrive once the mask is set count, as on the platform.
  std::thread late([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    Send("a");
  });
  Port->WaitForEvent(events, nullptr, 2000);
  late.join();
  EXPECT_TRUE(events == TComEvents{evRxChar});
  events = TComEvents{evRxChar};
  Port->ClearBuffer(true, false);
  const auto start = Clock::now();
  Port->WaitForEvent(events, nullptr, 30);
  EXPECT_TRUE(events.Empty());
  EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(25));

  Port->Close();
  Port->SetEvents(TComEvents{evRxChar});
  Port->Open();
  EXPECT_THROW(Port->WaitForEvent(events, nullptr, 10), EComPort);
}

TEST_F(ComPortTest, PortListFromTheRegistry) {
  const std::string file = Dir + "/many.ini";
  std::ofstream(file) << "COM2=/dev/a\nCOM10=/dev/b\ncom1=/dev/c\n";
  ::setenv("CL_PORTS_FILE", file.c_str(), 1);
  ::setenv("CL_REGISTRY_DIR", (Dir + "/reg").c_str(), 1);
  win::RegisterSerialCommProvider();
  TStringList* list = New<TStringList>();
  list->Add(u"old");
  GetSerialPortNames(list);
  std::vector<String> names;
  for (Integer i = 0; i < list->Count(); ++i) names.push_back(list->Strings(i));
  Free(list);
  win::UnregisterSerialCommProvider();
  ::unsetenv("CL_REGISTRY_DIR");
  EXPECT_EQ(names, (std::vector<String>{u"COM1", u"COM10", u"COM2"}));
}

}  // namespace

namespace {

class ComPortStorageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Dir = testing_support::MakeTempDir("comstore");
    ::setenv("CL_REGISTRY_DIR", (Dir + "/reg").c_str(), 1);
    Port = New<TComPort>(nullptr);
    Port->SetName(u"Com1");
    Ini = UTF8ToUTF16(Dir + "/port.ini");
  }
  void TearDown() override {
    Free(Port);
    ::unsetenv("CL_REGISTRY_DIR");
  }
  std::string IniText() {
    std::ifstream in(Dir + "/port.ini", std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  std::string Dir;
  String Ini;
  TComPort* Port = nullptr;
};

TEST(ComPortTexts, Tables) {
  EXPECT_EQ(BaudRateFromText(u"fast"), br9600);
  EXPECT_EQ(BaudRateFromText(u"custom"), brCustom);
  EXPECT_EQ(ParityFromText(u"even"), prEven);
  EXPECT_EQ(FlowControlFromText(u"?"), fcCustom);
  EXPECT_EQ(StopBitsFromText(u"1.5"), sbOne5StopBits);
  EXPECT_EQ(RTSControlText(rtsToggle), u"Toggle");
  EXPECT_TRUE(BoolFromText(u"yEs"));
  EXPECT_FALSE(BoolFromText(u""));
  EXPECT_FALSE(BoolFromText(u"True"));
  struct {
    AnsiChar C;
    const char16_t* Text;
  } chars[] = {{17, u"#17"}, {0, u"#0"}, {'A', u"A"}, {char(200), u"#200"}, {' ', u"#32"}, {127, u"\x7F"}};
  for (const auto& c : chars) {
    EXPECT_EQ(CharText(c.C), c.Text);
    EXPECT_EQ(CharFromText(c.Text), c.C);
  }
  EXPECT_EQ(CharFromText(u"#"), '#');
  EXPECT_EQ(CharFromText(u""), 0);
  EXPECT_EQ(CharFromText(u"#x"), 0);
  EXPECT_EQ(CharFromText(u"Ab"), 'A');
}

TEST_F(ComPortStorageTest, IniBasicGroup) {
  Port->SetPort(u"COM3");
  Port->StoreSettings(stIniFile, Ini);
  EXPECT_EQ(IniText(),
            "[Com1]\r\nPort=COM3\r\nBaudRate=9600\r\nStopBits=1\r\nDataBits=8\r\nParity=None\r\nFlowControl="
            "None\r\n");
  Port->SetBaudRate(brCustom);
  Port->SetCustomBaudRate(250000);
  Port->StoreSettings(stIniFile, Ini);
  EXPECT_NE(IniText().find("BaudRate=Custom\r\n"), std::string::npos);
  EXPECT_NE(IniText().find("CustomBaudRate=250000\r\n"), std::string::npos);

  std::ofstream(Dir + "/only.ini") << "[Com1]\nPort=COM4\n";
  TComPort* other = New<TComPort>(nullptr);
  other->SetName(u"Com1");
  other->SetBaudRate(br19200);
  other->LoadSettings(stIniFile, UTF8ToUTF16(Dir + "/only.ini"));
  EXPECT_EQ(other->Port(), u"COM4");
  EXPECT_EQ(other->BaudRate(), br19200);  // missing keys leave the values
  Free(other);
}

TEST_F(ComPortStorageTest, IniAllGroupsRoundTrip) {
  Port->SetStoredProps(TStoredProps{spBasic, spFlowControl, spBuffer, spTimeouts, spParity, spOthers});
  Port->SetEventChar('\n');
  Port->Parity()->SetCheck(true);
  Port->Buffer()->SetInputSize(2048);
  Port->Timeouts()->SetReadTotalConstant(77);
  Port->FlowControl()->SetFlowControl(fcHardware);
  Port->StoreSettings(stIniFile, Ini);
  const std::string text = IniText();
  EXPECT_NE(text.find("FlowControl=Hardware\r\nEventChar=#10\r\nDiscardNull=No\r\nParity.Check=Yes\r\n"),
            std::string::npos);
  EXPECT_NE(text.find("FlowControl.XoffChar=#19\r\nFlowControl.XonChar=#17\r\n"), std::string::npos);

  TComPort* back = New<TComPort>(nullptr);
  back->SetName(u"Com1");
  back->SetStoredProps(Port->StoredProps());
  back->LoadSettings(stIniFile, Ini);
  EXPECT_EQ(back->EventChar(), '\n');
  EXPECT_TRUE(back->Parity()->Check());
  EXPECT_EQ(back->Buffer()->InputSize(), 2048);
  EXPECT_EQ(back->Timeouts()->ReadTotalConstant(), 77);
  EXPECT_EQ(back->FlowControl()->FlowControl(), fcHardware);
  Free(back);
}

TEST_F(ComPortStorageTest, Registry) {
  Port->SetPort(u"COM6");
  Port->StoreSettings(stRegistry, u"Software\\Serial");  // no root word: current user, key Serial
  TRegistry* reg = New<TRegistry>();
  reg->SetRootKey(win::HKEY_CURRENT_USER);
  ASSERT_TRUE(reg->OpenKeyReadOnly(u"Serial\\Com1"));
  EXPECT_EQ(reg->ReadString(u"Port"), u"COM6");
  EXPECT_EQ(reg->ReadString(u"BaudRate"), u"9600");
  Free(reg);

  Port->SetPort(u"COM1");
  Port->LoadSettings(stRegistry, u"hkey_current_user\\Serial");
  EXPECT_EQ(Port->Port(), u"COM6");

  // A missing integer fails the load; a path without "\" opens no key.
  Port->SetStoredProps(TStoredProps{spBuffer});
  try {
    Port->LoadSettings(stRegistry, u"HKEY_CURRENT_USER\\Serial");
    FAIL();
  } catch (const EComPort& e) {
    EXPECT_EQ(e.Code(), 17);
  }
  try {
    Port->StoreSettings(stRegistry, u"Serial");
    FAIL();
  } catch (const EComPort& e) {
    EXPECT_EQ(e.Message(), u"COM Port Error: Failed to store settings");
  }
  Port->SetStoredProps(TStoredProps{spBasic});
  try {
    Port->LoadSettings(stRegistry, u"Serial");
    FAIL();
  } catch (const EComPort& e) {
    EXPECT_EQ(e.Message(), u"COM Port Error: Failed to load settings");
  }
  EXPECT_EQ(Port->Port(), u"COM6");  // the first value failed
}

}  // namespace

namespace {

TEST_F(ComPortTest, EventsThroughTheHiddenWindow) {
  win::MSG m;
  win::PeekMessageW(&m, nullptr, 0, 0,
                    win::PM_NOREMOVE);  // this thread's message queue, as a program's main thread has
  Port->SetSyncMethod(smWindowSync);
  Port->SetOnRxChar(TRxCharEvent(&Sink, &TSink::RxChar));
  Port->Open();
  Send("abcd");
  ASSERT_TRUE(WaitUntil([&] {
    while (win::PeekMessageW(&m, nullptr, 0, 0, win::PM_REMOVE)) win::DispatchMessageW(&m);
    return Sink.RxCount == 4;
  }));
  // Closing while the thread sends the next event does not wait for a pump.
  Send("e");
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  const auto start = Clock::now();
  Port->Close();
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(2));
}

}  // namespace

namespace {

// One batch of three receive events reaches the handlers in the fixed order,
// on the main thread for the two synchronized methods and on the event
// thread for smNone; a write then reports the empty transmit queue.
TEST_F(ComPortTest, EventsInTheirOrderByEachDispatchMethod) {
  win::MSG m;
  win::PeekMessageW(&m, nullptr, 0, 0, win::PM_NOREMOVE);
  const struct {
    TSyncMethod Method;
    bool OnMainThread;
  } cases[] = {{smThreadSync, true}, {smWindowSync, true}, {smNone, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(int(c.Method));
    TSink sink;
    TComPort* port = New<TComPort>(nullptr);
    port->SetPort(u"COM4");
    port->SetSyncMethod(c.Method);
    port->SetEventChar('X');
    port->Buffer()->SetInputSize(10);  // 80 % full at 8 bytes
    port->SetOnRxChar(TRxCharEvent(&sink, &TSink::RxChar));
    port->SetOnRxFlag(TNotifyEvent(&sink, &TSink::RxFlag));
    port->SetOnRx80Full(TNotifyEvent(&sink, &TSink::Rx80Full));
    port->SetOnTxEmpty(TNotifyEvent(&sink, &TSink::TxEmpty));
    port->Open();
    Send("abcdefgX9");
    EXPECT_TRUE(WaitUntil([&] { return sink.Has("Rx80Full"); }));
    EXPECT_EQ(sink.Take(), "RxChar9;RxFlag;Rx80Full;");
    AnsiString s;
    EXPECT_EQ(port->ReadStr(s, 9), 9);
    EXPECT_EQ(port->WriteStr("ok"), 2);
    EXPECT_TRUE(WaitUntil([&] { return sink.Has("TxEmpty"); }));
    EXPECT_EQ(sink.OffMainThread.load(), !c.OnMainThread);
    EXPECT_EQ(Receive(2), "ok");  // before closing purges the line
    Free(port);
  }
}

// A write's bytes go to the links' transmit handlers, framed by the
// transmit activity going on and, once the queue is empty, off.
TEST_F(ComPortTest, LinksSeeTransmission) {
  TComLink* link = New<TComLink>();
  link->SetOnTx(TComSignalEvent(&Sink, &TSink::LinkTx));
  link->SetOnTxBuf(TRxBufEvent(&Sink, &TSink::LinkTxBuf));
  link->SetOnTxEmpty(TNotifyEvent(&Sink, &TSink::TxEmpty));
  Port->RegisterLink(link);
  Port->Open();
  EXPECT_EQ(Port->WriteStr("hey"), 3);
  EXPECT_TRUE(WaitUntil([&] { return Sink.Has("TxEmpty"); }));
  EXPECT_EQ(Sink.Take(), "LinkTx1;LinkTxBuf:hey;LinkTx0;TxEmpty;");
  EXPECT_EQ(Receive(3), "hey");
  // A read that leaves bytes queued hands nothing to the transmit handlers.
  Send("abc");
  ASSERT_TRUE(WaitUntil([&] { return Port->InputCount() == 3; }));
  AnsiString s;
  EXPECT_EQ(Port->ReadStr(s, 1), 1);
  Port->Close();
  EXPECT_EQ(Sink.Take(), "");
  Port->UnRegisterLink(link);
  Free(link);
}

// Without watched events, or without overlapped I/O, no event thread runs:
// WaitForEvent is allowed and sees the bytes that arrive.
TEST_F(ComPortTest, NoEventThreadWithoutEventsOrOverlapped) {
  const struct {
    bool NoEvents;
    bool Overlapped;
  } cases[] = {{true, true}, {false, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Overlapped);
    if (c.NoEvents) Port->SetEvents(TComEvents{});
    Port->SetOverlapped(c.Overlapped);
    Port->Open();
    std::thread late([&] {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
      Send("z");
    });
    TComEvents events{evRxChar};
    Port->WaitForEvent(events, nullptr, 2000);
    late.join();
    EXPECT_TRUE(events == TComEvents{evRxChar});
    AnsiString s;
    EXPECT_EQ(Port->ReadStr(s, 4), 1);
    EXPECT_EQ(s, "z");
    EXPECT_EQ(Port->WriteStr("w"), 1);
    EXPECT_EQ(Receive(1), "w");
    Port->Close();
    Port->SetEvents(TComEvents{evRxChar, evTxEmpty});
  }
  // Overlapped is kept while the port is open.
  Port->SetOverlapped(true);
  Port->Open();
  Port->SetOverlapped(false);
  EXPECT_TRUE(Port->Overlapped());
}

// A read whose start fails does not wait for ever: it counts the failure and
// gives nothing, or raises when asked to.
TEST_F(ComPortTest, ReadThatCannotStart) {
  char buf[4] = {'x', 'x', 'x', 'x'};
  const auto start = Clock::now();
  EXPECT_EQ(Port->Read(buf, 4), 0);  // not open: the handle is invalid
  AnsiString s = "old";
  EXPECT_EQ(Port->ReadStr(s, 4), 0);
  EXPECT_EQ(s, "");
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(1));
  EXPECT_EQ(buf[0], 0);
  EXPECT_EQ(Port->ReadAsyncErrorCount(), 2);
  EXPECT_EQ(Port->ReadAsyncLastError(), 6u);
  Port->SetReadAsyncExceptionsEnabled(true);
  try {
    Port->Read(buf, 4);
    FAIL();
  } catch (const EComPort& e) {
    EXPECT_EQ(e.Code(), 3);
    EXPECT_EQ(e.WinCode(), 6);
    EXPECT_EQ(e.Message(), u"COM Port Error: ReadFile function failed on COM4");
  }
  PAsync none = nullptr;
  try {
    Port->WaitForAsync(none);
    FAIL();
  } catch (const EComPort& e) {
    EXPECT_EQ(e.Code(), 4);
    EXPECT_EQ(e.WinCode(), -1);
  }
}

std::string SaveComponent(TComponent* C) {
  std::unique_ptr<TMemoryStream, TObjectFree> s(New<TMemoryStream>());
  WriteDescendentToStream(s.get(), C, nullptr);
  return ObjectBinaryToText(
      std::string(static_cast<const char*>(s->Memory()), static_cast<size_t>(s->Size())));
}

TComPort* LoadComponent(const std::string& Text) {
  const std::string bin = ObjectTextToBinary(Text);
  std::unique_ptr<TMemoryStream, TObjectFree> s(New<TMemoryStream>());
  s->WriteBuffer(bin.data(), static_cast<Integer>(bin.size()));
  s->SetPosition(0);
  return As<TComPort>(ReadComponentFromStream(s.get(), nullptr));
}

// A port read from a form opens once loaded, with every stored setting
// applied; it writes back only what differs from the defaults.
TEST_F(ComPortTest, FromAndToAForm) {
  TModulesScope modules;  // registers the class
  const std::string form =
      "object Com: TComPort\r\n"
      "  Connected = True\r\n"
      "  BaudRate = br19200\r\n"
      "  Port = 'COM4'\r\n"
      "  Parity.Bits = prEven\r\n"
      "  Events = []\r\n"
      "  Buffer.InputSize = 2048\r\n"
      "  FlowControl.XonChar = #1\r\n"
      "  Timeouts.ReadTotalConstant = 5\r\n"
      "end\r\n";
  TComPort* port = LoadComponent(form);
  ASSERT_TRUE(port->Connected());
  win::DCB d{};
  ASSERT_TRUE(win::GetCommState(port->Handle(), &d));
  EXPECT_EQ(d.BaudRate, 19200u);
  EXPECT_EQ(d.Parity, 2);
  EXPECT_EQ(d.XonLim, 512);
  EXPECT_EQ(d.XonChar, 1);
  win::COMMTIMEOUTS t{};
  ASSERT_TRUE(win::GetCommTimeouts(port->Handle(), &t));
  EXPECT_EQ(t.ReadIntervalTimeout, 0xFFFFFFFFu);
  EXPECT_EQ(t.ReadTotalTimeoutConstant, 5u);
  EXPECT_EQ(SaveComponent(port), form);
  Free(port);

  // A port that cannot open does not stop the form from loading; the
  // application's handler gets the error.
  HandlerScope handler;
  port = LoadComponent("object Com: TComPort\r\n  Connected = True\r\n  Port = 'COM9'\r\nend\r\n");
  EXPECT_FALSE(port->Connected());
  EXPECT_EQ(port->Port(), u"COM9");
  EXPECT_EQ(HandlerScope::Sender, port);
  EXPECT_NE(HandlerScope::Message.find(u"COM9"), String::npos) << UTF16ToUTF8(HandlerScope::Message);
  Free(port);
}

// A handler that raises while the hidden window dispatches an event: the
// application's handler gets the exception, the port goes on.
TEST_F(ComPortTest, HandlerErrorThroughTheHiddenWindowReachesTheApplication) {
  HandlerScope handler;
  win::MSG m;
  win::PeekMessageW(&m, nullptr, 0, 0, win::PM_NOREMOVE);
  Port->SetSyncMethod(smWindowSync);
  Port->SetOnRxChar(TRxCharEvent(&Sink, &TSink::Raise));
  Port->Open();
  Send("x");
  ASSERT_TRUE(WaitUntil([&] { return HandlerScope::Sender != nullptr; }));
  EXPECT_EQ(HandlerScope::Sender, Port);
  EXPECT_EQ(HandlerScope::Message, u"handler failed");
  EXPECT_TRUE(Port->Connected());
}

}  // namespace

namespace {

// Loading into an open port applies the values once, at the end; a value the
// port refuses fails the load, which leaves the port open.
TEST_F(ComPortTest, LoadSettingsIntoAnOpenPort) {
  Port->SetName(u"Com1");
  Port->SetStoredProps(TStoredProps{spBasic, spFlowControl});
  Port->SetEvents(TComEvents{});
  Port->Open();
  const std::string ini = Dir + "/load.ini";
  std::ofstream(ini) << "[Com1]\r\nPort=COM4\r\nBaudRate=19200\r\nDataBits=7\r\nParity=even\r\n";
  Port->LoadSettings(stIniFile, UTF8ToUTF16(ini));
  win::DCB d{};
  ASSERT_TRUE(win::GetCommState(Port->Handle(), &d));
  EXPECT_EQ(d.BaudRate, 19200u);
  EXPECT_EQ(d.ByteSize, 7);
  EXPECT_EQ(d.Parity, 2);

  std::ofstream(ini) << "[Com1]\r\nFlowControl.ControlDTR=Handshake\r\n";
  try {
    Port->LoadSettings(stIniFile, UTF8ToUTF16(ini));
    FAIL();
  } catch (const EComPort& e) {
    EXPECT_EQ(e.Code(), 17);
    EXPECT_EQ(e.WinCode(), -1);
  }
  EXPECT_EQ(Port->FlowControl()->ControlDTR(), dtrHandshake);  // what was read stays assigned
  EXPECT_TRUE(Port->Connected());
}

}  // namespace
