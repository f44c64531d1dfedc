#include "platform/win/Comm.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <deque>
#include <fstream>
#include <list>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/classes/ModuleInit.h"
#include "platform/classes/WinRegistry.h"
#include "platform/rtl/CodePages.h"
#include "platform/win/CommSpeed.h"

namespace win {

namespace {

using Clock = std::chrono::steady_clock;

constexpr DWORD kDefaultQueue = 4096;
constexpr DWORD kMaxQueue = 16u << 20;
constexpr int kTickMs = 10;  // how often modem lines, error counters and the output queue are read
constexpr DWORD kLineEvents = EV_CTS | EV_DSR | EV_RLSD | EV_RING | EV_ERR | EV_BREAK;
constexpr DWORD kAllEvents = EV_RXCHAR | EV_RXFLAG | EV_TXEMPTY | EV_CTS | EV_DSR | EV_RLSD | EV_BREAK |
                             EV_ERR | EV_RING | EV_RX80FULL;

BOOL Fail(DWORD Error) {
  SetLastError(Error);
  return 0;
}

std::string TrimAscii(const std::string& S) {
  size_t a = 0, b = S.size();
  while (a < b && static_cast<unsigned char>(S[a]) <= ' ') ++a;
  while (b > a && static_cast<unsigned char>(S[b - 1]) <= ' ') --b;
  return S.substr(a, b - a);
}

std::string UpperAscii(std::string S) {
  for (char& c : S)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return S;
}

// "COM" followed by 1 to 3 decimal digits (any case), after an optional "\\.\".
std::string NormalizePortName(const String& Name) {
  String n = Name;
  if (n.size() >= 4 && n.compare(0, 4, u"\\\\.\\") == 0) n.erase(0, 4);
  if (n.size() < 4 || n.size() > 6) return {};
  std::string a;
  for (Char c : n) {
    if (c > 0x7F) return {};
    a.push_back(static_cast<char>(c));
  }
  a = UpperAscii(a);
  if (a.compare(0, 3, "COM") != 0) return {};
  for (size_t i = 3; i < a.size(); ++i)
    if (a[i] < '0' || a[i] > '9') return {};
  // "COM03" is not "COM3": the platform takes port names as they stand.
  if (a[3] == '0') return {};
  return a;
}

struct TDevice {
  int Kind;
  unsigned Number;
  std::string Name;
};

bool ParseTtyName(const std::string& Name, int& Kind, unsigned& Number) {
  static const char* const kinds[] = {"ttyS", "ttyUSB", "ttyACM", "ttyAMA"};
  for (int k = 0; k < 4; ++k) {
    const std::string p = kinds[k];
    if (Name.size() > p.size() && Name.compare(0, p.size(), p) == 0) {
      unsigned n = 0;
      for (size_t i = p.size(); i < Name.size(); ++i) {
        if (Name[i] < '0' || Name[i] > '9' || n > 100000) return false;
        n = n * 10 + static_cast<unsigned>(Name[i] - '0');
      }
      Kind = k;
      Number = n;
      return true;
    }
  }
  return false;
}

bool PathExists(const std::string& P) {
  struct stat st {};
  return ::stat(P.c_str(), &st) == 0;
}

std::vector<TSerialPortEntry> ReadPortsFile(const std::string& File) {
  std::vector<TSerialPortEntry> table;
  std::ifstream in(File);
  std::string line;
  while (std::getline(in, line)) {
    line = TrimAscii(line);
    if (line.empty() || line[0] == ';' || line[0] == '#' || line[0] == '[') continue;
    const size_t eq = line.find('=');
    if (eq == std::string::npos) continue;
    const std::string name = UpperAscii(TrimAscii(line.substr(0, eq)));
    const std::string path = TrimAscii(line.substr(eq + 1));
    if (name.empty() || path.empty()) continue;
    table.push_back({UTF8ToUTF16(name), path});
  }
  return table;
}

// --- The port object --------------------------------------------------------------

enum class TOpKind { Read, Write, Wait };

struct TOp {
  TOpKind Kind{};
  OVERLAPPED* Ov{};
  HANDLE Event{};
  BYTE* ReadBuf{};
  const BYTE* WriteBuf{};
  DWORD Size{};
  DWORD Done{};
  DWORD* Mask{};
  bool ReturnAtOnce{};
  bool ReturnAfterFirst{};
  bool HasDeadline{};
  Clock::time_point Deadline{};
  DWORD Interval{};
  Clock::time_point LastByte{};
};

class TCommPort : public TKernelObject {
 public:
  TCommPort(int Fd, bool Overlapped, bool Pty, std::string Device);
  ~TCommPort() override;

  bool IsSignaled() const override { return FPending.load() == 0; }
  void Closed() override;

  bool Overlapped() const { return FOverlapped; }

  BOOL StartRead(BYTE* Buf, DWORD Size, LPDWORD Read, OVERLAPPED* Ov);
  BOOL StartWrite(const BYTE* Buf, DWORD Size, LPDWORD Written, OVERLAPPED* Ov);
  BOOL StartWait(LPDWORD Mask, OVERLAPPED* Ov);
  BOOL Cancel();
  BOOL Setup(DWORD In, DWORD Out);
  BOOL GetState(DCB& D);
  BOOL SetState(const DCB& D);
  BOOL GetTimeouts(COMMTIMEOUTS& T);
  BOOL SetTimeouts(const COMMTIMEOUTS& T);
  BOOL ClearError(LPDWORD Errors, LPCOMSTAT Stat);
  BOOL ModemStatus(DWORD& Stat);
  BOOL Escape(DWORD Func);
  BOOL Purge(DWORD Flags);
  BOOL TransmitChar(char C);
  BOOL SetMask(DWORD Mask);
  BOOL GetMask(DWORD& Mask);

 private:
  void Run();
  void Wake();
  void Pump();
  void Tick();
  void Service(Clock::time_point Now);
  bool ServeRead(TOp& Op, Clock::time_point Now);
  bool ServeWrite(TOp& Op, Clock::time_point Now);
  void Record(DWORD Events);
  void Complete(std::unique_ptr<TOp>& Op, DWORD Status);
  void AbortKind(TOpKind Kind);
  void ReadLines(bool Report);
  void ReadCounters(bool Report);
  bool NeedTick() const;
  BOOL Begin(OVERLAPPED* Ov);
  DWORD KernelInQueue() const;
  DWORD KernelOutQueue() const;

  const int FFd;
  const bool FOverlapped;
  const bool FPty;
  const std::string FDevice;
  int FWakeFd = -1;
  bool FHasLines = false;
  bool FHasCounters = false;

  std::mutex FLock;
  std::thread FWorker;
  bool FStop = false;
  bool FClosing = false;
  bool FHungUp = false;
  std::atomic<int> FPending{0};

  std::deque<BYTE> FInput;
  DWORD FInSize = kDefaultQueue;
  DWORD FOutSize = kDefaultQueue;
  DCB FDcb{};
  COMMTIMEOUTS FTimeouts{};
  DWORD FMask = 0;
  DWORD FEvents = 0;
  DWORD FErrors = 0;
  bool FTxTracking = false;
  int FLines = 0;
  serial_icounter_struct FCounters{};

  std::list<std::unique_ptr<TOp>> FReads;
  std::list<std::unique_ptr<TOp>> FWrites;
  std::unique_ptr<TOp> FWait;
};

TCommPort::TCommPort(int Fd, bool Overlapped, bool Pty, std::string Device)
    : FFd(Fd), FOverlapped(Overlapped), FPty(Pty), FDevice(std::move(Device)) {
  FWakeFd = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
  int lines = 0;
  FHasLines = !FPty && ::ioctl(FFd, TIOCMGET, &lines) == 0;
  FLines = lines;
  FHasCounters = !FPty && ::ioctl(FFd, TIOCGICOUNT, &FCounters) == 0;

  // The device control block of the line as it was found (made raw by the caller).
  termios t{};
  ::tcgetattr(FFd, &t);
  FDcb.DCBlength = sizeof(DCB);
  FDcb.BaudRate = comm_detail::GetSpeed(FFd);
  FDcb.fBinary = 1;
  switch (t.c_cflag & CSIZE) {
    case CS5:
      FDcb.ByteSize = 5;
      break;
    case CS6:
      FDcb.ByteSize = 6;
      break;
    case CS7:
      FDcb.ByteSize = 7;
      break;
    default:
      FDcb.ByteSize = 8;
      break;
  }
  if (t.c_cflag & PARENB) {
    if (t.c_cflag & CMSPAR)
      FDcb.Parity = (t.c_cflag & PARODD) ? MARKPARITY : SPACEPARITY;
    else
      FDcb.Parity = (t.c_cflag & PARODD) ? ODDPARITY : EVENPARITY;
  }
  FDcb.StopBits = (t.c_cflag & CSTOPB) ? (FDcb.ByteSize == 5 ? ONE5STOPBITS : TWOSTOPBITS) : ONESTOPBIT;
  FDcb.XonChar = 17;
  FDcb.XoffChar = 19;
  FDcb.XonLim = FDcb.XoffLim = static_cast<WORD>(kDefaultQueue / 4);
  FWorker = std::thread([this] { Run(); });
}

TCommPort::~TCommPort() {
  if (FWorker.joinable()) {
    {
      std::lock_guard<std::mutex> g(FLock);
      FStop = true;
    }
    Wake();
    FWorker.join();
  }
  if (FWakeFd >= 0) ::close(FWakeFd);
  if (FFd >= 0) {
    ::ioctl(FFd, TIOCNXCL);
    ::flock(FFd, LOCK_UN);
    ::close(FFd);
  }
}

void TCommPort::Closed() {
  {
    std::lock_guard<std::mutex> g(FLock);
    FClosing = true;
    FStop = true;
    for (auto& op : FReads) Complete(op, ERROR_OPERATION_ABORTED);
    for (auto& op : FWrites) Complete(op, ERROR_OPERATION_ABORTED);
    FReads.clear();
    FWrites.clear();
    if (FWait) Complete(FWait, ERROR_OPERATION_ABORTED);
  }
  Wake();
  if (FWorker.joinable()) FWorker.join();
}

void TCommPort::Wake() {
  if (FWakeFd < 0) return;
  const uint64_t one = 1;
  [[maybe_unused]] ssize_t n = ::write(FWakeFd, &one, sizeof one);
}

DWORD TCommPort::KernelInQueue() const {
  int n = 0;
  return ::ioctl(FFd, FIONREAD, &n) == 0 && n > 0 ? static_cast<DWORD>(n) : 0;
}

DWORD TCommPort::KernelOutQueue() const {
  int n = 0;
  return ::ioctl(FFd, TIOCOUTQ, &n) == 0 && n > 0 ? static_cast<DWORD>(n) : 0;
}

// With the lock held: marks what happened, for the events watched.
void TCommPort::Record(DWORD Events) { FEvents |= Events & FMask; }

// With the lock held: moves received bytes from the device into the queue.
void TCommPort::Pump() {
  if (FHungUp) return;
  BYTE buf[4096];
  bool got = false;
  while (FInput.size() < FInSize) {
    const size_t room = std::min<size_t>(sizeof buf, FInSize - FInput.size());
    const ssize_t n = ::read(FFd, buf, room);
    if (n > 0) {
      for (ssize_t i = 0; i < n; ++i) {
        if (FDcb.fNull && buf[i] == 0) continue;
        if (static_cast<char>(buf[i]) == FDcb.EvtChar) Record(EV_RXFLAG);
        FInput.push_back(buf[i]);
        got = true;
      }
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) break;
    FHungUp = true;  // end of file or EIO: the device is gone
    break;
  }
  if (got) {
    Record(EV_RXCHAR);
    if (FInput.size() >= static_cast<size_t>(FInSize) / 10 * 8) Record(EV_RX80FULL);
  }
}

void TCommPort::ReadLines(bool Report) {
  if (!FHasLines) return;
  int lines = 0;
  if (::ioctl(FFd, TIOCMGET, &lines) != 0) return;
  const int changed = lines ^ FLines;
  FLines = lines;
  if (!Report) return;
  if (changed & TIOCM_CTS) Record(EV_CTS);
  if (changed & TIOCM_DSR) Record(EV_DSR);
  if (changed & TIOCM_CD) Record(EV_RLSD);
  if ((changed & TIOCM_RI) && (lines & TIOCM_RI)) Record(EV_RING);
}

void TCommPort::ReadCounters(bool Report) {
  if (!FHasCounters) return;
  serial_icounter_struct c{};
  if (::ioctl(FFd, TIOCGICOUNT, &c) != 0) return;
  const serial_icounter_struct o = FCounters;
  FCounters = c;
  if (!Report) return;
  DWORD errors = 0;
  if (c.frame != o.frame) errors |= CE_FRAME;
  if (c.parity != o.parity) errors |= CE_RXPARITY;
  if (c.overrun != o.overrun) errors |= CE_OVERRUN;
  if (c.buf_overrun != o.buf_overrun) errors |= CE_RXOVER;
  if (c.brk != o.brk) errors |= CE_BREAK;
  FErrors |= errors;
  if (errors & (CE_FRAME | CE_RXPARITY | CE_OVERRUN)) Record(EV_ERR);
  if (errors & CE_BREAK) Record(EV_BREAK);
  // The counters also catch line changes shorter than a tick.
  if (c.cts != o.cts) Record(EV_CTS);
  if (c.dsr != o.dsr) Record(EV_DSR);
  if (c.dcd != o.dcd) Record(EV_RLSD);
  if (c.rng != o.rng) Record(EV_RING);
  if (errors && FDcb.fAbortOnError) {
    AbortKind(TOpKind::Read);
    AbortKind(TOpKind::Write);
  }
}

// With the lock held: the periodic reads of lines, counters and the output queue.
void TCommPort::Tick() {
  if (FHungUp) return;
  ReadCounters(true);
  ReadLines(true);
  if (FTxTracking && FWrites.empty() && KernelOutQueue() == 0) {
    FTxTracking = false;
    Record(EV_TXEMPTY);
  }
}

bool TCommPort::NeedTick() const {
  if (FHungUp) return false;
  if (FTxTracking) return true;
  return FWait && (FMask & kLineEvents) && (FHasLines || FHasCounters);
}

// With the lock held: finishes an operation. The caller's OVERLAPPED is not
// touched after its event is set.
void TCommPort::Complete(std::unique_ptr<TOp>& Op, DWORD Status) {
  if (!Op) return;
  TOp& op = *Op;
  const HANDLE ev = op.Event;
  if (op.Kind == TOpKind::Wait && op.Mask && Status != ERROR_SUCCESS) *op.Mask = 0;
  if (op.Ov) {
    op.Ov->InternalHigh = op.Kind == TOpKind::Wait ? 0 : op.Done;
    __atomic_store_n(&op.Ov->Internal, static_cast<ULONG_PTR>(Status), __ATOMIC_RELEASE);
  }
  Op.reset();
  FPending.fetch_sub(1);
  if (ev) SetEvent(ev);
  TKernelObject::StateChanged();
}

void TCommPort::AbortKind(TOpKind Kind) {
  auto& list = Kind == TOpKind::Read ? FReads : FWrites;
  for (auto& op : list) Complete(op, ERROR_OPERATION_ABORTED);
  list.clear();
}

bool TCommPort::ServeRead(TOp& Op, Clock::time_point Now) {
  const size_t n = std::min<size_t>(Op.Size - Op.Done, FInput.size());
  if (n > 0) {
    std::copy_n(FInput.begin(), n, Op.ReadBuf + Op.Done);
    FInput.erase(FInput.begin(), FInput.begin() + static_cast<std::ptrdiff_t>(n));
    Op.Done += static_cast<DWORD>(n);
    Op.LastByte = Now;
  }
  if (Op.Done == Op.Size || Op.ReturnAtOnce) return true;
  if (Op.ReturnAfterFirst && Op.Done > 0) return true;
  if (Op.HasDeadline && Now >= Op.Deadline) return true;
  if (Op.Interval && Op.Done > 0 && Now - Op.LastByte >= std::chrono::milliseconds(Op.Interval)) return true;
  return false;
}

bool TCommPort::ServeWrite(TOp& Op, Clock::time_point Now) {
  while (Op.Done < Op.Size && !FHungUp) {
    const ssize_t n = ::write(FFd, Op.WriteBuf + Op.Done, Op.Size - Op.Done);
    if (n > 0) {
      Op.Done += static_cast<DWORD>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) break;
    FHungUp = true;
  }
  if (Op.Done == Op.Size) return true;
  return Op.HasDeadline && Now >= Op.Deadline;
}

// With the lock held: moves every pending operation on as far as it goes.
void TCommPort::Service(Clock::time_point Now) {
  while (!FReads.empty()) {
    auto& op = FReads.front();
    if (ServeRead(*op, Now)) {
      Complete(op, ERROR_SUCCESS);
      FReads.pop_front();
    } else if (FHungUp && FInput.empty()) {
      Complete(op, op->Done ? ERROR_SUCCESS : ERROR_GEN_FAILURE);
      FReads.pop_front();
    } else {
      break;
    }
  }
  while (!FWrites.empty()) {
    auto& op = FWrites.front();
    if (FHungUp) {
      Complete(op, ERROR_GEN_FAILURE);
      FWrites.pop_front();
    } else if (ServeWrite(*op, Now)) {
      Complete(op, ERROR_SUCCESS);
      FWrites.pop_front();
      FTxTracking = true;
    } else {
      break;
    }
  }
  if (FTxTracking && FWrites.empty() && KernelOutQueue() == 0) {
    FTxTracking = false;
    Record(EV_TXEMPTY);
  }
  if (FWait) {
    if (FEvents & FMask) {
      *FWait->Mask = FEvents & FMask;
      FEvents &= ~FMask;
      Complete(FWait, ERROR_SUCCESS);
    } else if (FHungUp) {
      Complete(FWait, ERROR_GEN_FAILURE);
    }
  }
}

void TCommPort::Run() {
  std::unique_lock<std::mutex> g(FLock);
  while (!FStop) {
    const auto now = Clock::now();
    Pump();
    if (NeedTick()) Tick();
    Service(now);

    int timeout = -1;
    auto until = [&](Clock::time_point t) {
      const auto ms = std::chrono::ceil<std::chrono::milliseconds>(t - now).count();
      const int v = ms < 0 ? 0 : ms > 60000 ? 60000 : static_cast<int>(ms);
      if (timeout < 0 || v < timeout) timeout = v;
    };
    if (!FReads.empty()) {
      const TOp& r = *FReads.front();
      if (r.HasDeadline) until(r.Deadline);
      if (r.Interval && r.Done > 0) until(r.LastByte + std::chrono::milliseconds(r.Interval));
    }
    if (!FWrites.empty() && FWrites.front()->HasDeadline) until(FWrites.front()->Deadline);
    if (NeedTick()) until(now + std::chrono::milliseconds(kTickMs));

    pollfd fds[2] = {};
    fds[0].fd = FHungUp ? -1 : FFd;
    if (FInput.size() < FInSize) fds[0].events |= POLLIN;
    if (!FWrites.empty()) fds[0].events |= POLLOUT;
    fds[1].fd = FWakeFd;
    fds[1].events = POLLIN;

    g.unlock();
    const int r = ::poll(fds, 2, timeout);
    g.lock();
    if (r > 0 && (fds[1].revents & POLLIN)) {
      uint64_t v;
      [[maybe_unused]] ssize_t n = ::read(FWakeFd, &v, sizeof v);
    }
    if (r > 0 && (fds[0].revents & (POLLHUP | POLLERR | POLLNVAL)) && !(fds[0].revents & POLLIN)) {
      // A hang-up with nothing left to read: stop watching the device.
      Pump();
      FHungUp = true;
    } else if (r > 0 && (fds[0].revents & POLLHUP)) {
      Pump();
      if (KernelInQueue() == 0) FHungUp = true;
    }
  }
}

// With the lock held: the checks every transfer starts with.
BOOL TCommPort::Begin(OVERLAPPED* Ov) {
  if (Ov) {
    if (Ov->hEvent) ResetEvent(Ov->hEvent);
    Ov->InternalHigh = 0;
    __atomic_store_n(&Ov->Internal, STATUS_PENDING, __ATOMIC_RELEASE);
  }
  if (FClosing) return Fail(ERROR_INVALID_HANDLE);
  if (FDcb.fAbortOnError && FErrors) return Fail(ERROR_OPERATION_ABORTED);
  return 1;
}

BOOL TCommPort::StartRead(BYTE* Buf, DWORD Size, LPDWORD Read, OVERLAPPED* Ov) {
  std::unique_lock<std::mutex> g(FLock);
  if (Read) *Read = 0;
  if (!Begin(Ov)) return 0;
  if (!Buf && Size) return Fail(ERROR_INVALID_PARAMETER);
  auto op = std::make_unique<TOp>();
  op->Kind = TOpKind::Read;
  op->Ov = Ov;
  op->Event = Ov ? Ov->hEvent : nullptr;
  op->ReadBuf = Buf;
  op->Size = Size;
  const auto now = Clock::now();
  const COMMTIMEOUTS& t = FTimeouts;
  if (t.ReadIntervalTimeout == MAXDWORD && t.ReadTotalTimeoutMultiplier == 0 &&
      t.ReadTotalTimeoutConstant == 0) {
    op->ReturnAtOnce = true;
  } else if (t.ReadIntervalTimeout == MAXDWORD && t.ReadTotalTimeoutMultiplier == MAXDWORD) {
    op->ReturnAfterFirst = true;
    op->HasDeadline = true;
    op->Deadline = now + std::chrono::milliseconds(t.ReadTotalTimeoutConstant);
  } else {
    const uint64_t total = uint64_t(t.ReadTotalTimeoutMultiplier) * Size + t.ReadTotalTimeoutConstant;
    if (total) {
      op->HasDeadline = true;
      op->Deadline = now + std::chrono::milliseconds(total);
    }
    if (t.ReadIntervalTimeout != MAXDWORD) op->Interval = t.ReadIntervalTimeout;
  }
  FPending.fetch_add(1);
  Pump();
  if (FReads.empty()) {
    if (ServeRead(*op, now) || (FHungUp && FInput.empty())) {
      const DWORD done = op->Done;
      const DWORD status = op->Done == 0 && FHungUp && FInput.empty() ? ERROR_GEN_FAILURE : ERROR_SUCCESS;
      Complete(op, status);
      if (status != ERROR_SUCCESS) return Fail(status);
      if (Read) *Read = done;
      return 1;
    }
  }
  FReads.push_back(std::move(op));
  g.unlock();
  Wake();
  return Fail(ERROR_IO_PENDING);
}

BOOL TCommPort::StartWrite(const BYTE* Buf, DWORD Size, LPDWORD Written, OVERLAPPED* Ov) {
  std::unique_lock<std::mutex> g(FLock);
  if (Written) *Written = 0;
  if (!Begin(Ov)) return 0;
  if (!Buf && Size) return Fail(ERROR_INVALID_PARAMETER);
  auto op = std::make_unique<TOp>();
  op->Kind = TOpKind::Write;
  op->Ov = Ov;
  op->Event = Ov ? Ov->hEvent : nullptr;
  op->WriteBuf = Buf;
  op->Size = Size;
  const auto now = Clock::now();
  const uint64_t total =
      uint64_t(FTimeouts.WriteTotalTimeoutMultiplier) * Size + FTimeouts.WriteTotalTimeoutConstant;
  if (total) {
    op->HasDeadline = true;
    op->Deadline = now + std::chrono::milliseconds(total);
  }
  FPending.fetch_add(1);
  if (FHungUp) {
    Complete(op, ERROR_GEN_FAILURE);
    return Fail(ERROR_GEN_FAILURE);
  }
  if (FWrites.empty() && ServeWrite(*op, now)) {
    const DWORD done = op->Done;
    const DWORD status = FHungUp && done < Size ? ERROR_GEN_FAILURE : ERROR_SUCCESS;
    Complete(op, status);
    if (status != ERROR_SUCCESS) return Fail(status);
    FTxTracking = true;
    if (Written) *Written = done;
    g.unlock();
    Wake();  // the worker reports the empty output queue
    return 1;
  }
  FWrites.push_back(std::move(op));
  g.unlock();
  Wake();
  return Fail(ERROR_IO_PENDING);
}

BOOL TCommPort::StartWait(LPDWORD Mask, OVERLAPPED* Ov) {
  std::unique_lock<std::mutex> g(FLock);
  if (Ov) {
    if (Ov->hEvent) ResetEvent(Ov->hEvent);
    Ov->InternalHigh = 0;
    __atomic_store_n(&Ov->Internal, STATUS_PENDING, __ATOMIC_RELEASE);
  }
  if (FClosing) return Fail(ERROR_INVALID_HANDLE);
  if (!Mask || FMask == 0 || FWait) return Fail(ERROR_INVALID_PARAMETER);
  *Mask = 0;
  if (FHungUp) return Fail(ERROR_GEN_FAILURE);
  Pump();
  if (NeedTick() || (FMask & kLineEvents)) Tick();
  auto op = std::make_unique<TOp>();
  op->Kind = TOpKind::Wait;
  op->Ov = Ov;
  op->Event = Ov ? Ov->hEvent : nullptr;
  op->Mask = Mask;
  FPending.fetch_add(1);
  if (FEvents & FMask) {
    *Mask = FEvents & FMask;
    FEvents &= ~FMask;
    Complete(op, ERROR_SUCCESS);
    return 1;
  }
  FWait = std::move(op);
  g.unlock();
  Wake();
  return Fail(ERROR_IO_PENDING);
}

BOOL TCommPort::Cancel() {
  std::lock_guard<std::mutex> g(FLock);
  AbortKind(TOpKind::Read);
  AbortKind(TOpKind::Write);
  if (FWait) Complete(FWait, ERROR_OPERATION_ABORTED);
  return 1;
}

BOOL TCommPort::Setup(DWORD In, DWORD Out) {
  std::lock_guard<std::mutex> g(FLock);
  if (FClosing) return Fail(ERROR_INVALID_HANDLE);
  FInSize = std::clamp<DWORD>(In ? In : kDefaultQueue, 16, kMaxQueue);
  FOutSize = std::clamp<DWORD>(Out ? Out : kDefaultQueue, 16, kMaxQueue);
  Wake();
  return 1;
}

BOOL TCommPort::GetState(DCB& D) {
  std::lock_guard<std::mutex> g(FLock);
  if (FClosing) return Fail(ERROR_INVALID_HANDLE);
  D = FDcb;
  return 1;
}

speed_t StandardSpeed(DWORD Baud) {
  switch (Baud) {
    case 50:
      return B50;
    case 75:
      return B75;
    case 110:
      return B110;
    case 134:
      return B134;
    case 150:
      return B150;
    case 200:
      return B200;
    case 300:
      return B300;
    case 600:
      return B600;
    case 1200:
      return B1200;
    case 1800:
      return B1800;
    case 2400:
      return B2400;
    case 4800:
      return B4800;
    case 9600:
      return B9600;
    case 19200:
      return B19200;
    case 38400:
      return B38400;
    case 57600:
      return B57600;
    case 115200:
      return B115200;
    case 230400:
      return B230400;
    case 460800:
      return B460800;
    case 500000:
      return B500000;
    case 576000:
      return B576000;
    case 921600:
      return B921600;
    case 1000000:
      return B1000000;
    default:
      return B0;
  }
}

BOOL TCommPort::SetState(const DCB& D) {
  if (D.BaudRate == 0 || D.ByteSize < 5 || D.ByteSize > 8 || D.Parity > SPACEPARITY ||
      D.StopBits > TWOSTOPBITS)
    return Fail(ERROR_INVALID_PARAMETER);
  if ((D.StopBits == ONE5STOPBITS) != (D.ByteSize == 5 && D.StopBits != ONESTOPBIT))
    return Fail(ERROR_INVALID_PARAMETER);  // 1.5 needs 5 data bits, 5 data bits refuse 2
  if (D.fOutxDsrFlow || D.fDtrControl == DTR_CONTROL_HANDSHAKE || D.fDsrSensitivity ||
      D.fRtsControl == RTS_CONTROL_TOGGLE || D.fDtrControl > DTR_CONTROL_HANDSHAKE)
    return Fail(ERROR_INVALID_PARAMETER);
  if ((D.fOutX || D.fInX) && D.XonChar == D.XoffChar) return Fail(ERROR_INVALID_PARAMETER);

  std::lock_guard<std::mutex> g(FLock);
  if (FClosing) return Fail(ERROR_INVALID_HANDLE);
  termios old{};
  if (::tcgetattr(FFd, &old) != 0) return Fail(ERROR_GEN_FAILURE);
  termios t = old;
  t.c_iflag = 0;
  if (D.fOutX) t.c_iflag |= IXON;
  if (D.fInX) t.c_iflag |= IXOFF;
  if (D.fParity) t.c_iflag |= INPCK;
  t.c_oflag = 0;
  t.c_lflag = 0;
  t.c_cflag = (old.c_cflag & HUPCL) | CREAD | CLOCAL;
  static const tcflag_t sizes[] = {CS5, CS6, CS7, CS8};
  t.c_cflag |= sizes[D.ByteSize - 5];
  switch (D.Parity) {
    case ODDPARITY:
      t.c_cflag |= PARENB | PARODD;
      break;
    case EVENPARITY:
      t.c_cflag |= PARENB;
      break;
    case MARKPARITY:
      t.c_cflag |= PARENB | PARODD | CMSPAR;
      break;
    case SPACEPARITY:
      t.c_cflag |= PARENB | CMSPAR;
      break;
    default:
      break;
  }
  if (D.StopBits != ONESTOPBIT) t.c_cflag |= CSTOPB;
  if (D.fOutxCtsFlow || D.fRtsControl == RTS_CONTROL_HANDSHAKE) t.c_cflag |= CRTSCTS;
  // A pseudo-terminal carries whole bytes and has no framing: it keeps 8 data
  // bits without parity whatever is asked (and would report the rest as
  // refused), so the framing is kept in the DCB only.
  if (FPty) t.c_cflag = (t.c_cflag & ~tcflag_t(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB)) | CS8;
  t.c_cc[VMIN] = 1;
  t.c_cc[VTIME] = 0;
  t.c_cc[VSTART] = static_cast<cc_t>(D.XonChar);
  t.c_cc[VSTOP] = static_cast<cc_t>(D.XoffChar);
  const speed_t std = StandardSpeed(D.BaudRate);
  if (std != B0) {
    ::cfsetispeed(&t, std);
    ::cfsetospeed(&t, std);
  }
  if (::tcsetattr(FFd, TCSANOW, &t) != 0) {
    const int e = errno;
    ::tcsetattr(FFd, TCSANOW, &old);
    return Fail(e == EINVAL ? ERROR_INVALID_PARAMETER : ERROR_GEN_FAILURE);
  }
  if (std == B0 && !comm_detail::SetOtherSpeed(FFd, D.BaudRate)) {
    ::tcsetattr(FFd, TCSANOW, &old);
    return Fail(ERROR_INVALID_PARAMETER);
  }
  if (FHasLines) {
    int dtr = TIOCM_DTR, rts = TIOCM_RTS;
    if (D.fDtrControl == DTR_CONTROL_ENABLE) ::ioctl(FFd, TIOCMBIS, &dtr);
    if (D.fDtrControl == DTR_CONTROL_DISABLE) ::ioctl(FFd, TIOCMBIC, &dtr);
    if (D.fRtsControl == RTS_CONTROL_ENABLE) ::ioctl(FFd, TIOCMBIS, &rts);
    if (D.fRtsControl == RTS_CONTROL_DISABLE) ::ioctl(FFd, TIOCMBIC, &rts);
  }
  FDcb = D;
  return 1;
}

BOOL TCommPort::GetTimeouts(COMMTIMEOUTS& T) {
  std::lock_guard<std::mutex> g(FLock);
  if (FClosing) return Fail(ERROR_INVALID_HANDLE);
  T = FTimeouts;
  return 1;
}

BOOL TCommPort::SetTimeouts(const COMMTIMEOUTS& T) {
  if (T.ReadIntervalTimeout == MAXDWORD && T.ReadTotalTimeoutMultiplier == MAXDWORD &&
      T.ReadTotalTimeoutConstant == MAXDWORD)
    return Fail(ERROR_INVALID_PARAMETER);
  std::lock_guard<std::mutex> g(FLock);
  if (FClosing) return Fail(ERROR_INVALID_HANDLE);
  FTimeouts = T;
  return 1;
}

BOOL TCommPort::ClearError(LPDWORD Errors, LPCOMSTAT Stat) {
  std::lock_guard<std::mutex> g(FLock);
  if (FClosing) return Fail(ERROR_INVALID_HANDLE);
  Pump();
  if (!FHungUp) ReadCounters(true);
  if (FHungUp && FInput.empty()) return Fail(ERROR_GEN_FAILURE);
  if (Errors) *Errors = FErrors;
  FErrors = 0;
  if (Stat) {
    *Stat = COMSTAT{};
    Stat->cbInQue = static_cast<DWORD>(FInput.size()) + (FHungUp ? 0 : KernelInQueue());
    DWORD out = 0;
    for (const auto& op : FWrites) out += op->Size - op->Done;
    Stat->cbOutQue = out + (FHungUp ? 0 : KernelOutQueue());
  }
  return 1;
}

BOOL TCommPort::ModemStatus(DWORD& Stat) {
  std::lock_guard<std::mutex> g(FLock);
  if (FClosing) return Fail(ERROR_INVALID_HANDLE);
  Stat = 0;
  if (!FHasLines) return 1;
  int lines = 0;
  if (::ioctl(FFd, TIOCMGET, &lines) != 0) return Fail(ERROR_GEN_FAILURE);
  if (lines & TIOCM_CTS) Stat |= MS_CTS_ON;
  if (lines & TIOCM_DSR) Stat |= MS_DSR_ON;
  if (lines & TIOCM_RI) Stat |= MS_RING_ON;
  if (lines & TIOCM_CD) Stat |= MS_RLSD_ON;
  return 1;
}

BOOL TCommPort::Escape(DWORD Func) {
  std::lock_guard<std::mutex> g(FLock);
  if (FClosing) return Fail(ERROR_INVALID_HANDLE);
  int bits = 0;
  unsigned long req = 0;
  switch (Func) {
    case SETDTR:
      req = TIOCMBIS;
      bits = TIOCM_DTR;
      break;
    case CLRDTR:
      req = TIOCMBIC;
      bits = TIOCM_DTR;
      break;
    case SETRTS:
      req = TIOCMBIS;
      bits = TIOCM_RTS;
      break;
    case CLRRTS:
      req = TIOCMBIC;
      bits = TIOCM_RTS;
      break;
    case SETBREAK:
    case CLRBREAK:
      if (FPty) return 1;
      if (::ioctl(FFd, Func == SETBREAK ? TIOCSBRK : TIOCCBRK) != 0) return Fail(ERROR_GEN_FAILURE);
      return 1;
    case SETXON:
    case SETXOFF:
      if (::tcflow(FFd, Func == SETXON ? TCOON : TCOOFF) != 0) return Fail(ERROR_GEN_FAILURE);
      return 1;
    default:
      return Fail(ERROR_INVALID_PARAMETER);
  }
  if (!FHasLines) return 1;  // no modem lines (a pseudo-terminal): nothing to set
  if (::ioctl(FFd, req, &bits) != 0) return Fail(ERROR_GEN_FAILURE);
  return 1;
}

BOOL TCommPort::Purge(DWORD Flags) {
  if (Flags & ~(PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR))
    return Fail(ERROR_INVALID_PARAMETER);
  std::lock_guard<std::mutex> g(FLock);
  if (FClosing) return Fail(ERROR_INVALID_HANDLE);
  if (Flags & PURGE_TXABORT) AbortKind(TOpKind::Write);
  if (Flags & PURGE_RXABORT) AbortKind(TOpKind::Read);
  if ((Flags & PURGE_TXCLEAR) && !FHungUp) ::tcflush(FFd, TCOFLUSH);
  if (Flags & PURGE_RXCLEAR) {
    FInput.clear();
    if (!FHungUp) ::tcflush(FFd, TCIFLUSH);
  }
  return 1;
}

BOOL TCommPort::TransmitChar(char C) {
  std::lock_guard<std::mutex> g(FLock);
  if (FClosing) return Fail(ERROR_INVALID_HANDLE);
  if (FHungUp) return Fail(ERROR_GEN_FAILURE);
  for (int tries = 0; tries < 100; ++tries) {
    const ssize_t n = ::write(FFd, &C, 1);
    if (n == 1) {
      FTxTracking = true;
      Wake();
      return 1;
    }
    if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) break;
    pollfd p{FFd, POLLOUT, 0};
    ::poll(&p, 1, 10);
  }
  return Fail(ERROR_GEN_FAILURE);
}

BOOL TCommPort::SetMask(DWORD Mask) {
  std::lock_guard<std::mutex> g(FLock);
  if (FClosing) return Fail(ERROR_INVALID_HANDLE);
  FMask = Mask & kAllEvents;
  FEvents = 0;
  ReadLines(false);
  ReadCounters(false);
  // A pending wait ends with no event, as on the platform.
  if (FWait) {
    *FWait->Mask = 0;
    Complete(FWait, ERROR_SUCCESS);
  }
  Wake();
  return 1;
}

BOOL TCommPort::GetMask(DWORD& Mask) {
  std::lock_guard<std::mutex> g(FLock);
  if (FClosing) return Fail(ERROR_INVALID_HANDLE);
  Mask = FMask;
  return 1;
}

// A counted reference to the port object of a handle.
class TPortRef {
 public:
  explicit TPortRef(HANDLE h) {
    TKernelObject* obj = ReferenceHandle(h);
    FPort = dynamic_cast<TCommPort*>(obj);
    if (!FPort && obj) obj->Release();
  }
  ~TPortRef() {
    if (FPort) FPort->Release();
  }
  TPortRef(const TPortRef&) = delete;
  TPortRef& operator=(const TPortRef&) = delete;
  TCommPort* operator->() const { return FPort; }
  explicit operator bool() const { return FPort != nullptr; }

 private:
  TCommPort* FPort = nullptr;
};

// Runs an overlapped start on a port opened without FILE_FLAG_OVERLAPPED and
// waits for it, as a blocking call.
template <typename Start>
BOOL RunBlocking(HANDLE h, LPDWORD Transferred, Start&& Begin) {
  HANDLE ev = CreateEventW(nullptr, 1, 0, nullptr);
  OVERLAPPED ov{};
  ov.hEvent = ev;
  DWORD n = 0;
  BOOL ok = Begin(&ov, &n);
  if (!ok && GetLastError() == ERROR_IO_PENDING) ok = GetOverlappedResult(h, &ov, &n, 1);
  const DWORD err = GetLastError();
  CloseHandle(ev);
  SetLastError(ok ? ERROR_SUCCESS : err);
  if (Transferred) *Transferred = n;
  return ok;
}

std::vector<TRegistryProviderValue> SerialCommValues() {
  std::vector<TRegistryProviderValue> values;
  for (const TSerialPortEntry& e : SerialPortTable()) {
    TRegistryProviderValue v;
    v.Name = UTF8ToUTF16(e.Device);
    v.Type = REG_SZ;
    for (Char c : e.Name) {
      v.Data.push_back(static_cast<BYTE>(c & 0xFF));
      v.Data.push_back(static_cast<BYTE>(c >> 8));
    }
    v.Data.push_back(0);
    v.Data.push_back(0);
    values.push_back(std::move(v));
  }
  return values;
}

void CommStartup() { RegisterSerialCommProvider(); }
void CommShutdown() { UnregisterSerialCommProvider(); }

}  // namespace

CL_UNIT_STEPS(Comm, &CommStartup, &CommShutdown);

// --- Port table -------------------------------------------------------------------

std::string SerialPortsFile() {
  if (const char* f = std::getenv("CL_PORTS_FILE"); f && *f) return f;
  if (const char* x = std::getenv("XDG_CONFIG_HOME"); x && *x)
    return std::string(x) + "/cardloader/ports.ini";
  if (const char* h = std::getenv("HOME"); h && *h) return std::string(h) + "/.config/cardloader/ports.ini";
  return {};
}

std::vector<TSerialPortEntry> ScanSerialDevices(const std::string& SysClassTty) {
  std::vector<TDevice> devices;
  if (DIR* d = ::opendir(SysClassTty.c_str())) {
    while (dirent* e = ::readdir(d)) {
      const std::string name = e->d_name;
      int kind;
      unsigned number;
      if (!ParseTtyName(name, kind, number)) continue;
      const std::string dir = SysClassTty + "/" + name;
      bool real;
      if (kind == 0) {
        std::ifstream type(dir + "/type");
        int t = 0;
        if (type >> t)
          real = t != 0;
        else
          real = PathExists(dir + "/device");
      } else {
        real = PathExists(dir + "/device");
      }
      if (real) devices.push_back({kind, number, name});
    }
    ::closedir(d);
  }
  std::sort(devices.begin(), devices.end(), [](const TDevice& a, const TDevice& b) {
    return a.Kind != b.Kind ? a.Kind < b.Kind : a.Number < b.Number;
  });
  std::vector<TSerialPortEntry> table;
  for (size_t i = 0; i < devices.size(); ++i)
    table.push_back({u"COM" + UTF8ToUTF16(std::to_string(i + 1)), "/dev/" + devices[i].Name});
  return table;
}

std::vector<TSerialPortEntry> SerialPortTable() {
  const std::string file = SerialPortsFile();
  if (!file.empty() && PathExists(file)) return ReadPortsFile(file);
  return ScanSerialDevices("/sys/class/tty");
}

std::string SerialPortDevice(const String& PortName) {
  const std::string name = NormalizePortName(PortName);
  if (name.empty()) return {};
  const String wanted = UTF8ToUTF16(name);
  for (const TSerialPortEntry& e : SerialPortTable())
    if (e.Name == wanted) return e.Device;
  return {};
}

void RegisterSerialCommProvider() {
  SetRegistryProvider(HKEY_LOCAL_MACHINE, u"HARDWARE\\DEVICEMAP\\SERIALCOMM", &SerialCommValues);
}

void UnregisterSerialCommProvider() {
  SetRegistryProvider(HKEY_LOCAL_MACHINE, u"HARDWARE\\DEVICEMAP\\SERIALCOMM", nullptr);
}

// --- The API ----------------------------------------------------------------------

HANDLE CreateFileW(LPCWSTR lpFileName, DWORD dwDesiredAccess, DWORD, LPSECURITY_ATTRIBUTES,
                   DWORD dwCreationDisposition, DWORD dwFlagsAndAttributes, HANDLE) {
  if (!lpFileName) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  const std::string device = SerialPortDevice(lpFileName);
  if (device.empty()) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  if (dwCreationDisposition != OPEN_EXISTING) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  int mode = O_RDWR;
  if (!(dwDesiredAccess & GENERIC_WRITE)) mode = O_RDONLY;
  if (!(dwDesiredAccess & GENERIC_READ) && (dwDesiredAccess & GENERIC_WRITE)) mode = O_WRONLY;
  const int fd = ::open(device.c_str(), mode | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    const int e = errno;
    SetLastError(e == EACCES || e == EPERM || e == EBUSY                    ? ERROR_ACCESS_DENIED
                 : e == ENOENT || e == ENODEV || e == ENXIO || e == ENOTDIR ? ERROR_FILE_NOT_FOUND
                                                                            : ERROR_GEN_FAILURE);
    return INVALID_HANDLE_VALUE;
  }
  struct stat st {};
  if (!::isatty(fd) || ::fstat(fd, &st) != 0) {
    ::close(fd);
    SetLastError(ERROR_FILE_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd);
    SetLastError(ERROR_ACCESS_DENIED);
    return INVALID_HANDLE_VALUE;
  }
  ::ioctl(fd, TIOCEXCL);
  // A serial port is raw: no echo, no line editing, no character translation.
  termios t{};
  if (::tcgetattr(fd, &t) == 0) {
    ::cfmakeraw(&t);
    t.c_cflag |= CREAD | CLOCAL;
    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 0;
    ::tcsetattr(fd, TCSANOW, &t);
  }
  const unsigned maj = major(st.st_rdev);
  const bool pty = (maj >= 136 && maj <= 143) || maj == 3;
  auto* port = new TCommPort(fd, (dwFlagsAndAttributes & FILE_FLAG_OVERLAPPED) != 0, pty, device);
  HANDLE h = RegisterHandle(port);
  SetLastError(ERROR_SUCCESS);
  return h;
}

BOOL ReadFile(HANDLE hFile, void* lpBuffer, DWORD nNumberOfBytesToRead, LPDWORD lpNumberOfBytesRead,
              LPOVERLAPPED lpOverlapped) {
  TPortRef p(hFile);
  if (!p) return Fail(ERROR_INVALID_HANDLE);
  auto* buf = static_cast<BYTE*>(lpBuffer);
  if (!p->Overlapped())
    return RunBlocking(hFile, lpNumberOfBytesRead, [&](OVERLAPPED* ov, LPDWORD n) {
      return p->StartRead(buf, nNumberOfBytesToRead, n, ov);
    });
  if (!lpOverlapped) return Fail(ERROR_INVALID_PARAMETER);
  return p->StartRead(buf, nNumberOfBytesToRead, lpNumberOfBytesRead, lpOverlapped);
}

BOOL WriteFile(HANDLE hFile, const void* lpBuffer, DWORD nNumberOfBytesToWrite,
               LPDWORD lpNumberOfBytesWritten, LPOVERLAPPED lpOverlapped) {
  TPortRef p(hFile);
  if (!p) return Fail(ERROR_INVALID_HANDLE);
  auto* buf = static_cast<const BYTE*>(lpBuffer);
  if (!p->Overlapped())
    return RunBlocking(hFile, lpNumberOfBytesWritten, [&](OVERLAPPED* ov, LPDWORD n) {
      return p->StartWrite(buf, nNumberOfBytesToWrite, n, ov);
    });
  if (!lpOverlapped) return Fail(ERROR_INVALID_PARAMETER);
  return p->StartWrite(buf, nNumberOfBytesToWrite, lpNumberOfBytesWritten, lpOverlapped);
}

BOOL GetOverlappedResult(HANDLE hFile, LPOVERLAPPED lpOverlapped, LPDWORD lpNumberOfBytesTransferred,
                         BOOL bWait) {
  if (!lpOverlapped) return Fail(ERROR_INVALID_PARAMETER);
  ULONG_PTR status = __atomic_load_n(&lpOverlapped->Internal, __ATOMIC_ACQUIRE);
  if (status == STATUS_PENDING) {
    if (!bWait) return Fail(ERROR_IO_INCOMPLETE);
    HANDLE waitOn = lpOverlapped->hEvent ? lpOverlapped->hEvent : hFile;
    while ((status = __atomic_load_n(&lpOverlapped->Internal, __ATOMIC_ACQUIRE)) == STATUS_PENDING) {
      if (WaitForSingleObject(waitOn, INFINITE) == WAIT_FAILED) return 0;
    }
  }
  if (lpNumberOfBytesTransferred)
    *lpNumberOfBytesTransferred = static_cast<DWORD>(lpOverlapped->InternalHigh);
  if (status != ERROR_SUCCESS) return Fail(static_cast<DWORD>(status));
  SetLastError(ERROR_SUCCESS);
  return 1;
}

BOOL CancelIo(HANDLE hFile) {
  TPortRef p(hFile);
  if (!p) return Fail(ERROR_INVALID_HANDLE);
  return p->Cancel();
}

BOOL SetupComm(HANDLE hFile, DWORD dwInQueue, DWORD dwOutQueue) {
  TPortRef p(hFile);
  if (!p) return Fail(ERROR_INVALID_HANDLE);
  return p->Setup(dwInQueue, dwOutQueue);
}

BOOL GetCommState(HANDLE hFile, LPDCB lpDCB) {
  TPortRef p(hFile);
  if (!p) return Fail(ERROR_INVALID_HANDLE);
  if (!lpDCB) return Fail(ERROR_INVALID_PARAMETER);
  return p->GetState(*lpDCB);
}

BOOL SetCommState(HANDLE hFile, LPDCB lpDCB) {
  TPortRef p(hFile);
  if (!p) return Fail(ERROR_INVALID_HANDLE);
  if (!lpDCB) return Fail(ERROR_INVALID_PARAMETER);
  return p->SetState(*lpDCB);
}

BOOL GetCommTimeouts(HANDLE hFile, LPCOMMTIMEOUTS lpCommTimeouts) {
  TPortRef p(hFile);
  if (!p) return Fail(ERROR_INVALID_HANDLE);
  if (!lpCommTimeouts) return Fail(ERROR_INVALID_PARAMETER);
  return p->GetTimeouts(*lpCommTimeouts);
}

BOOL SetCommTimeouts(HANDLE hFile, LPCOMMTIMEOUTS lpCommTimeouts) {
  TPortRef p(hFile);
  if (!p) return Fail(ERROR_INVALID_HANDLE);
  if (!lpCommTimeouts) return Fail(ERROR_INVALID_PARAMETER);
  return p->SetTimeouts(*lpCommTimeouts);
}

BOOL ClearCommError(HANDLE hFile, LPDWORD lpErrors, LPCOMSTAT lpStat) {
  TPortRef p(hFile);
  if (!p) return Fail(ERROR_INVALID_HANDLE);
  return p->ClearError(lpErrors, lpStat);
}

BOOL GetCommModemStatus(HANDLE hFile, LPDWORD lpModemStat) {
  TPortRef p(hFile);
  if (!p) return Fail(ERROR_INVALID_HANDLE);
  if (!lpModemStat) return Fail(ERROR_INVALID_PARAMETER);
  return p->ModemStatus(*lpModemStat);
}

BOOL EscapeCommFunction(HANDLE hFile, DWORD dwFunc) {
  TPortRef p(hFile);
  if (!p) return Fail(ERROR_INVALID_HANDLE);
  return p->Escape(dwFunc);
}

BOOL PurgeComm(HANDLE hFile, DWORD dwFlags) {
  TPortRef p(hFile);
  if (!p) return Fail(ERROR_INVALID_HANDLE);
  return p->Purge(dwFlags);
}

BOOL TransmitCommChar(HANDLE hFile, char cChar) {
  TPortRef p(hFile);
  if (!p) return Fail(ERROR_INVALID_HANDLE);
  return p->TransmitChar(cChar);
}

BOOL SetCommMask(HANDLE hFile, DWORD dwEvtMask) {
  TPortRef p(hFile);
  if (!p) return Fail(ERROR_INVALID_HANDLE);
  return p->SetMask(dwEvtMask);
}

BOOL GetCommMask(HANDLE hFile, LPDWORD lpEvtMask) {
  TPortRef p(hFile);
  if (!p) return Fail(ERROR_INVALID_HANDLE);
  if (!lpEvtMask) return Fail(ERROR_INVALID_PARAMETER);
  return p->GetMask(*lpEvtMask);
}

BOOL WaitCommEvent(HANDLE hFile, LPDWORD lpEvtMask, LPOVERLAPPED lpOverlapped) {
  TPortRef p(hFile);
  if (!p) return Fail(ERROR_INVALID_HANDLE);
  if (!p->Overlapped())
    return RunBlocking(hFile, nullptr, [&](OVERLAPPED* ov, LPDWORD) { return p->StartWait(lpEvtMask, ov); });
  if (!lpOverlapped) return Fail(ERROR_INVALID_PARAMETER);
  return p->StartWait(lpEvtMask, lpOverlapped);
}

}  // namespace win
