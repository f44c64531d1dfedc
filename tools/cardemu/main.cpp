// cardemu: serves the card loader device on the master side of a
// pseudo-terminal pair and prints the slave's path. Map a port to it in the
// ports file (for example "COM3=/dev/pts/5" in ~/.config/cardloader/ports.ini)
// and the program talks to the emulator as to the device.
//
//   cardemu [--no-card] [--no-answer] [--delay=MS] [--pieces=N[,GAP_MS]]
//           [--garbage=TEXT] [--fail-write] [--differ-at=POS] [--serial=HEX10]
//           [--card=TEXT56]
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/CardDeviceEmulator.h"

namespace {

volatile sig_atomic_t gStop = 0;
void OnSignal(int) { gStop = 1; }

bool Value(const char* Arg, const char* Name, std::string& Out) {
  const size_t n = std::strlen(Name);
  if (std::strncmp(Arg, Name, n) != 0 || Arg[n] != '=') return false;
  Out = Arg + n + 1;
  return true;
}

bool Number(const std::string& Text, unsigned long& Out) {
  char* end = nullptr;
  errno = 0;
  Out = std::strtoul(Text.c_str(), &end, 10);
  return !Text.empty() && errno == 0 && *end == '\0' && Out <= 600000;
}

int Usage() {
  std::fprintf(
      stderr,
      "usage: cardemu [--no-card] [--no-answer] [--delay=MS] [--pieces=N[,GAP_MS]] [--garbage=TEXT]\n"
      "               [--fail-write] [--differ-at=POS] [--serial=HEX10] [--card=TEXT56]\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  TCardDeviceOptions o;
  for (int i = 1; i < argc; ++i) {
    const char* a = argv[i];
    std::string v;
    unsigned long n = 0;
    if (!std::strcmp(a, "--no-card")) {
      o.CardPresent = false;
    } else if (!std::strcmp(a, "--no-answer")) {
      o.Answer = false;
    } else if (!std::strcmp(a, "--fail-write")) {
      o.FailWrite = true;
    } else if (Value(a, "--delay", v)) {
      if (!Number(v, n)) return Usage();
      o.DelayMs = static_cast<Cardinal>(n);
    } else if (Value(a, "--pieces", v)) {
      const size_t comma = v.find(',');
      if (!Number(v.substr(0, comma), n) || n == 0) return Usage();
      o.PieceSize = static_cast<Cardinal>(n);
      if (comma != std::string::npos) {
        if (!Number(v.substr(comma + 1), n)) return Usage();
        o.PieceGapMs = static_cast<Cardinal>(n);
      }
    } else if (Value(a, "--garbage", v)) {
      o.Garbage = v;
    } else if (Value(a, "--differ-at", v)) {
      if (!Number(v, n)) return Usage();
      o.DifferAt = static_cast<Integer>(n);
    } else if (Value(a, "--serial", v)) {
      if (v.size() != 10) return Usage();
      o.Serial = v;
    } else if (Value(a, "--card", v)) {
      if (v.size() != 56) return Usage();
      o.Card = v;
    } else {
      return Usage();
    }
  }

  TCardEmulatorServer server(o);
  if (!server.Start()) {
    std::perror("cardemu: no pseudo-terminal");
    return 1;
  }
  std::printf("%s\n", server.SlavePath().c_str());
  std::fflush(stdout);

  struct sigaction sa {};
  sa.sa_handler = OnSignal;
  sigaction(SIGINT, &sa, nullptr);
  sigaction(SIGTERM, &sa, nullptr);
  while (!gStop) pause();
  server.Stop();
  return 0;
}
