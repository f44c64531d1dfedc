// The card loader device, emulated.
//
// TCardDevice answers the framed commands as a device with a card does:
// "p" -> "P", "k" -> "1" ("0" without a card), "s" -> the 10 hexadecimal
// digits of the card serial, "y(" + 56-character text + ")" stores the text
// and answers "ok", "r" -> the stored text. Bytes outside a frame are
// dropped; an unknown or malformed command gets no answer. Options make it
// misbehave in the ways the protocol must survive.
//
// It is used three ways: in-process as a function from command bytes to
// answer bytes (TCardDevice::Receive), as an in-process port with timing
// (TEmulatedReaderPort), and over a pseudo-terminal pair served by a thread
// (TCardEmulatorServer, also the cardemu program).
#pragma once

#include <atomic>
#include <deque>
#include <mutex>
#include <string>
#include <thread>

#include "app/ReaderPort.h"

struct TCardDeviceOptions {
  Boolean CardPresent = true;  // false: "k" answers "0", "s" and "r" answer nothing
  Boolean Answer = true;       // false: the device answers nothing at all
  Cardinal DelayMs = 0;        // each answer starts this late
  Cardinal PieceSize = 0;      // answers go out in pieces of this many bytes (0: whole)
  Cardinal PieceGapMs = 0;     // pause between two pieces
  AnsiString Garbage;          // bytes sent before each answer's frame
  Boolean FailWrite = false;   // "y(...)" is answered "er" and nothing is stored
  Integer DifferAt = 0;        // "r" answers the stored text with this position (1-based) changed
  AnsiString Serial = "0A1B2C3D4E";
  AnsiString Card = "006400000000AB123W090A0C910511090A09A4810AABCD1112131405";
};

class TCardDevice {
 public:
  explicit TCardDevice(const TCardDeviceOptions& Options = {});

  // Takes received bytes; answers (garbage and frame) of every command they
  // complete, in order.
  AnsiString Receive(const AnsiString& Bytes);
  const AnsiString& Card() const { return FCard; }
  Cardinal Commands() const { return FCommands; }
  TCardDeviceOptions& Options() { return FOptions; }

 private:
  AnsiString Answer(const AnsiString& Command);

  TCardDeviceOptions FOptions;
  AnsiString FCard;
  AnsiString FPending;
  Cardinal FCommands = 0;
};

// Cuts an answer into the timed pieces the options ask for.
struct TTimedPiece {
  UInt64 Due;  // GetTickCount64 value
  AnsiString Bytes;
};
void ScheduleAnswer(const TCardDeviceOptions& Options, const AnsiString& Answer, UInt64 Now,
                    std::deque<TTimedPiece>& Queue);

// A port whose far end is a TCardDevice in the same thread: written bytes go
// to the device, its answers become readable when their time has come.
// "COMn" opens when n is the port number given (others fail as a missing
// port does); Disappear makes every later call raise, as a removed device.
class TEmulatedReaderPort : public TReaderPort {
 public:
  explicit TEmulatedReaderPort(const TCardDeviceOptions& Options = {}, Byte PortNumber = 1);

  Boolean Connected() override { return FOpen; }
  void Open() override;
  void Close() override;
  String Port() override { return FPort; }
  void SetPort(const String& Value) override { FPort = Value; }
  void SetRTS(Boolean OnOff) override;
  void SetDTR(Boolean OnOff) override;
  void ClearBuffer(Boolean Input, Boolean Output) override;
  Integer WriteStr(const AnsiString& Str) override;
  Integer InputCount() override;
  Integer ReadStr(AnsiString& Str, Integer Count) override;

  TCardDevice& Device() { return FDevice; }
  // Line changes seen, as "R1", "D1", "R0", "D0" in order.
  const std::string& LineLog() const { return FLineLog; }
  void Disappear() { FGone = true; }

 private:
  void Check();
  void Collect();

  TCardDevice FDevice;
  String FPort = u"COM1";
  String FExists;
  Boolean FOpen = false;
  Boolean FGone = false;
  std::deque<TTimedPiece> FQueue;
  AnsiString FInput;
  std::string FLineLog;
};

// The device on the master side of a pseudo-terminal pair, served by a thread.
class TCardEmulatorServer {
 public:
  explicit TCardEmulatorServer(const TCardDeviceOptions& Options = {});
  ~TCardEmulatorServer();
  TCardEmulatorServer(const TCardEmulatorServer&) = delete;
  TCardEmulatorServer& operator=(const TCardEmulatorServer&) = delete;

  // Opens the pair (raw mode) and starts serving; false when no
  // pseudo-terminal can be had.
  Boolean Start();
  void Stop();
  // Closes the master side: the device disappears for whoever holds the slave.
  void Hangup();
  const std::string& SlavePath() const { return FSlavePath; }
  AnsiString Card();
  Cardinal Commands();

 private:
  void Run();

  TCardDevice FDevice;
  std::mutex FLock;
  std::thread FThread;
  std::atomic<bool> FStop{false};
  std::atomic<bool> FHangup{false};
  int FMaster = -1;
  int FSlave = -1;
  int FWake = -1;
  std::string FSlavePath;
};
