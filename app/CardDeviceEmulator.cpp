#include "app/CardDeviceEmulator.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/eventfd.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "platform/classes/WinHandles.h"
#include "platform/rtl/Conversions.h"
#include "platform/rtl/DateTime.h"
#include "serial/ComPort.h"

namespace {

constexpr size_t kMaxPending = 1024;  // a command is never longer

}  // namespace

// --- The device -------------------------------------------------------------------

TCardDevice::TCardDevice(const TCardDeviceOptions& Options) : FOptions(Options), FCard(Options.Card) {}

AnsiString TCardDevice::Receive(const AnsiString& Bytes) {
  AnsiString out;
  FPending += Bytes;
  for (;;) {
    const size_t start = FPending.find('\x01');
    if (start == AnsiString::npos) {
      FPending.clear();
      break;
    }
    const size_t end = FPending.find('\x02', start + 1);
    if (end == AnsiString::npos) {
      FPending.erase(0, start);
      if (FPending.size() > kMaxPending) FPending.clear();
      break;
    }
    const AnsiString command = FPending.substr(start + 1, end - start - 1);
    FPending.erase(0, end + 1);
    ++FCommands;
    const AnsiString answer = Answer(command);
    if (!answer.empty() && FOptions.Answer) out += FOptions.Garbage + '\x01' + answer + '\x02';
  }
  return out;
}

AnsiString TCardDevice::Answer(const AnsiString& Command) {
  if (Command == "p") return "P";
  if (Command == "k") return FOptions.CardPresent ? "1" : "0";
  if (!FOptions.CardPresent) return {};
  if (Command == "s") return FOptions.Serial;
  if (Command == "r") {
    AnsiString card = FCard;
    const Integer at = FOptions.DifferAt;
    if (at >= 1 && static_cast<size_t>(at) <= card.size()) card[at - 1] = card[at - 1] == '0' ? '1' : '0';
    return card;
  }
  if (Command.size() == 59 && Command.compare(0, 2, "y(") == 0 && Command.back() == ')') {
    if (FOptions.FailWrite) return "er";
    FCard = Command.substr(2, 56);
    return "ok";
  }
  return {};
}

void ScheduleAnswer(const TCardDeviceOptions& Options, const AnsiString& Answer, UInt64 Now,
                    std::deque<TTimedPiece>& Queue) {
  if (Answer.empty()) return;
  UInt64 due = Now + Options.DelayMs;
  if (!Queue.empty() && Queue.back().Due > due) due = Queue.back().Due;
  const size_t step = Options.PieceSize ? Options.PieceSize : Answer.size();
  for (size_t i = 0; i < Answer.size(); i += step) {
    Queue.push_back({due, Answer.substr(i, step)});
    due += Options.PieceGapMs;
  }
}

// --- In-process port --------------------------------------------------------------

TEmulatedReaderPort::TEmulatedReaderPort(const TCardDeviceOptions& Options, Byte PortNumber)
    : FDevice(Options), FExists(u"COM" + IntToStr(Integer(PortNumber))) {}

void TEmulatedReaderPort::Check() {
  if (FGone) throw EComPort(CError_ClearComFailed, 31, FPort);
}

void TEmulatedReaderPort::Open() {
  if (FOpen) return;
  if (FPort != FExists) throw EComPort(CError_OpenFailed, 2, FPort);
  FOpen = true;
}

void TEmulatedReaderPort::Close() {
  FOpen = false;
  FQueue.clear();
  FInput.clear();
}

void TEmulatedReaderPort::SetRTS(Boolean OnOff) {
  Check();
  FLineLog += OnOff ? "R1" : "R0";
}

void TEmulatedReaderPort::SetDTR(Boolean OnOff) {
  Check();
  FLineLog += OnOff ? "D1" : "D0";
}

void TEmulatedReaderPort::ClearBuffer(Boolean Input, Boolean Output) {
  Check();
  if (Input) {
    Collect();
    FInput.clear();
  }
}

Integer TEmulatedReaderPort::WriteStr(const AnsiString& Str) {
  Check();
  ScheduleAnswer(FDevice.Options(), FDevice.Receive(Str), GetTickCount64(), FQueue);
  return static_cast<Integer>(Str.size());
}

void TEmulatedReaderPort::Collect() {
  const UInt64 now = GetTickCount64();
  while (!FQueue.empty() && FQueue.front().Due <= now) {
    FInput += FQueue.front().Bytes;
    FQueue.pop_front();
  }
}

Integer TEmulatedReaderPort::InputCount() {
  Check();
  Collect();
  return static_cast<Integer>(FInput.size());
}

Integer TEmulatedReaderPort::ReadStr(AnsiString& Str, Integer Count) {
  Check();
  Collect();
  const size_t n = std::min(FInput.size(), static_cast<size_t>(Count < 1 ? 1 : Count));
  Str = FInput.substr(0, n);
  FInput.erase(0, n);
  return static_cast<Integer>(n);
}

// --- Pseudo-terminal server -------------------------------------------------------

TCardEmulatorServer::TCardEmulatorServer(const TCardDeviceOptions& Options) : FDevice(Options) {}

TCardEmulatorServer::~TCardEmulatorServer() {
  Stop();
  if (FMaster >= 0) ::close(FMaster);
  if (FSlave >= 0) ::close(FSlave);
  if (FWake >= 0) ::close(FWake);
}

Boolean TCardEmulatorServer::Start() {
  FMaster = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (FMaster < 0) return false;
  if (::grantpt(FMaster) != 0 || ::unlockpt(FMaster) != 0) return false;
  char name[128];
  if (::ptsname_r(FMaster, name, sizeof name) != 0) return false;
  FSlavePath = name;
  // The device keeps the slave open itself, so the master stays usable while
  // no client has the port open; raw at once, so nothing is echoed.
  FSlave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (FSlave < 0) return false;
  termios t{};
  if (::tcgetattr(FSlave, &t) == 0) {
    ::cfmakeraw(&t);
    ::tcsetattr(FSlave, TCSANOW, &t);
  }
  ::fcntl(FMaster, F_SETFL, ::fcntl(FMaster, F_GETFL) | O_NONBLOCK);
  FWake = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
  if (FWake < 0) return false;
  FThread = std::thread([this] { Run(); });
  return true;
}

void TCardEmulatorServer::Stop() {
  FStop = true;
  if (FWake >= 0) {
    const uint64_t one = 1;
    [[maybe_unused]] ssize_t n = ::write(FWake, &one, sizeof one);
  }
  if (FThread.joinable()) FThread.join();
}

void TCardEmulatorServer::Hangup() {
  FHangup = true;
  Stop();
  std::lock_guard<std::mutex> g(FLock);
  if (FMaster >= 0) ::close(FMaster);
  FMaster = -1;
}

AnsiString TCardEmulatorServer::Card() {
  std::lock_guard<std::mutex> g(FLock);
  return FDevice.Card();
}

Cardinal TCardEmulatorServer::Commands() {
  std::lock_guard<std::mutex> g(FLock);
  return FDevice.Commands();
}

void TCardEmulatorServer::Run() {
  std::deque<TTimedPiece> queue;
  AnsiString outgoing;  // a piece the line did not take at once
  while (!FStop) {
    const UInt64 now = GetTickCount64();
    while (!queue.empty() && queue.front().Due <= now) {
      outgoing += queue.front().Bytes;
      queue.pop_front();
    }
    while (!outgoing.empty()) {
      const ssize_t n = ::write(FMaster, outgoing.data(), outgoing.size());
      if (n > 0) {
        outgoing.erase(0, static_cast<size_t>(n));
        continue;
      }
      if (n < 0 && errno == EINTR) continue;
      if (n < 0 && errno != EAGAIN) outgoing.clear();  // nobody listens: the bytes are lost, as on a line
      break;
    }
    int timeout = 100;
    if (!queue.empty()) timeout = static_cast<int>(queue.front().Due > now ? queue.front().Due - now : 0);
    pollfd fds[2] = {{FMaster, POLLIN, 0}, {FWake, POLLIN, 0}};
    if (!outgoing.empty()) {
      fds[0].events |= POLLOUT;
      if (timeout > 5) timeout = 5;
    }
    if (::poll(fds, 2, timeout) <= 0) continue;
    if (fds[0].revents & POLLIN) {
      char buf[512];
      const ssize_t n = ::read(FMaster, buf, sizeof buf);
      if (n > 0) {
        std::lock_guard<std::mutex> g(FLock);
        ScheduleAnswer(FDevice.Options(), FDevice.Receive(AnsiString(buf, static_cast<size_t>(n))),
                       GetTickCount64(), queue);
      }
    }
  }
}
