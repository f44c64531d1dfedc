// The card load sequence (reset, probe, card present, card serial, write and
// read-back) against the device emulator answering at once over a
// pseudo-terminal, with the port set to 9600 baud.
//
// The floor the protocol sets is the reset pulse, the pause after each of
// the five transactions and the bytes on the line at 9600 baud (10 bits a
// byte). A pseudo-terminal carries bytes without pacing them, so the line
// time is not spent here: the benchmark reports the wall time against the
// full floor, against the part of it a pseudo-terminal does spend (pulse and
// pauses), and the ratio expected on a real line (full floor plus the
// overhead measured here).
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <memory>
#include <string>

#include "app/CardDeviceEmulator.h"
#include "app/CardReader.h"
#include "app/CardRecord.h"
#include "app/ReaderPort.h"
#include "platform/rtl/DateTime.h"

namespace {

constexpr Byte kPortNumber = 5;

double Now() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

TCardRecord LoadRecord() {
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

// Bytes of one framed command or answer: start, text, end.
constexpr double Framed(int textLength) { return textLength + 2; }

void BM_CardLoadSequence(benchmark::State& state) {
  TCardEmulatorServer server;
  if (!server.Start()) {
    state.SkipWithError("no pseudo-terminal");
    return;
  }
  char dir[] = "/tmp/cardloadbench-XXXXXX";
  if (!mkdtemp(dir)) {
    state.SkipWithError("no temporary folder");
    return;
  }
  const std::string ports = std::string(dir) + "/ports.ini";
  std::ofstream(ports) << "COM" << int(kPortNumber) << "=" << server.SlavePath() << "\n";
  setenv("CL_PORTS_FILE", ports.c_str(), 1);
  TDirectReaderPort port;
  SetReaderPort(&port);
  SetReaderTimings(TReaderTimings{});  // the device's own
  const TReaderTimings& t = ReaderTimings();

  double wall = 0;
  bool ok = true;
  for (auto _ : state) {
    const double t0 = Now();
    TCardSerial serial;
    TCardRecord rec = LoadRecord();
    ok = ResetReader(kPortNumber) && ReaderPresent() && CardPresent() == 1 && ReadCardSerial(serial) &&
         WriteCard(rec);
    wall += Now() - t0;
    port.Close();
    if (!ok) break;
  }
  SetReaderPort(nullptr);
  unsetenv("CL_PORTS_FILE");
  ::unlink(ports.c_str());
  ::rmdir(dir);
  if (!ok) {
    state.SkipWithError("the load sequence failed");
    return;
  }
  wall /= double(state.iterations());

  // Line bytes: p/P, k/1, s/serial, y(text)/ok, r/text.
  const double bytes = Framed(1) + Framed(1) + Framed(1) + Framed(1) + Framed(1) + Framed(10) +
                       Framed(2 + CardTextLength + 1) + Framed(2) + Framed(1) + Framed(CardTextLength);
  const double line = bytes * 10.0 / 9600.0;
  const double timing = (t.ResetHigh + t.ResetLow + 5.0 * t.AfterTransaction) / 1000.0;
  const double floor = timing + line;
  state.counters["wall_ms"] = wall * 1e3;
  state.counters["floor_ms"] = floor * 1e3;
  state.counters["line_ms"] = line * 1e3;
  state.counters["ratio_to_floor"] = wall / floor;
  state.counters["ratio_to_pty_floor"] = wall / timing;
  state.counters["ratio_on_line"] = (floor + (wall - timing)) / floor;
  state.counters["goal_ratio"] = 1.05;
}
BENCHMARK(BM_CardLoadSequence)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10);

}  // namespace

BENCHMARK_MAIN();
