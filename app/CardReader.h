// The card-reader protocol: framed one-letter commands to the card loader
// device, answers collected by polling the port while the idle callback keeps
// the user interface alive, three attempts per command.
//
// Every operation runs on the calling thread and reports success or failure;
// a missing, late or malformed answer never raises. Exceptions of the port
// while sending or polling (the device removed) reach the caller; only
// ResetReader catches them.
#pragma once

#include <memory>

#include "app/CardRecord.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Types.h"

class TReaderPort;

// Called on every polling pass and after each wait of the reset pulse; it may
// set the abort flag.
using TReaderIdleProc = void (*)(Boolean& Abort);

constexpr AnsiChar FrameStart = '\x01';
constexpr AnsiChar FrameEnd = '\x02';

// The time-outs of one attempt of each command and the pauses, in ms. The
// defaults are the device's; tests may shorten them.
struct TReaderTimings {
  Cardinal Probe = 75;
  Cardinal CardPresent = 200;
  Cardinal CardSerial = 100;
  Cardinal ReadCard = 4000;
  Cardinal WriteCard = 6000;
  Cardinal AfterTransaction = 50;
  Cardinal ResetHigh = 10;
  Cardinal ResetLow = 100;
};
const TReaderTimings& ReaderTimings();
void SetReaderTimings(const TReaderTimings& Value);

void SetReaderPort(TReaderPort* Port);
void SetReaderIdleCallback(TReaderIdleProc Callback);

// Opens "COM" + Number and pulses RTS and DTR; false (the port closed) when
// anything fails.
Boolean ResetReader(Byte Number);
// The probe is answered with exactly "P".
Boolean ReaderPresent();
// 1 when a card is on the device ("1"), 2 when not ("0"), 0 for anything else.
Byte CardPresent();
Boolean ReadCardSerial(TCardSerial& Serial);
// Refusal of a card that cannot be written (see WriteCard).
class ECardError : public Exception {
 public:
  explicit ECardError(const String& Msg);
  String ClassName() const override { return u"ECardError"; }
  std::unique_ptr<Exception> Clone() const override { return std::make_unique<ECardError>(*this); }
};

// Writes the record and verifies the bytes read back; on success Rec
// becomes the record read back. A card whose check byte is a frame byte
// (0x01, 0x02) cannot travel inside a frame: ECardError before anything is sent.
Boolean WriteCard(TCardRecord& Rec);
Boolean ReadCardCompare(TCardRecord& Rec, const String& CompareText);
Boolean ReadCard(TCardRecord& Rec);

// The frame of an answer: P the position of the first 0x01, Q of the first
// 0x02 (1-based, 0 when absent); complete when both exist and Q > P + 1.
Boolean FindReplyFrame(const String& Text, Integer& P, Integer& Q);
// One attempt's reply collection and a whole transaction (up to 3 attempts
// and the pause). Exposed for tests.
Boolean ReceiveReply(String& Reply, Cardinal Timeout, TReaderIdleProc Callback);
Boolean ReaderTransaction(const String& Command, String& Reply, Cardinal Timeout, TReaderIdleProc Callback);

// The deadline of a time-out on the 32-bit millisecond tick counter, and
// whether it passed (wrap-safe: the difference is taken modulo 2^32).
Cardinal TickDeadline(Cardinal Ms);
Boolean DeadlinePassed(Cardinal Deadline);
