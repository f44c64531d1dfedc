#include "app/CardReader.h"

#include "app/ReaderPort.h"
#include "platform/rtl/CodePages.h"
#include "platform/rtl/Conversions.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/Format.h"
#include "platform/rtl/Strings.h"

namespace {

const String ProbeCommand = u"p";
const String CardPresentCommand = u"k";
const String CardSerialCommand = u"s";
const String ReadCardCommand = u"r";
const String WriteCardCommand = u"y(";

// A device answer is a few dozen bytes; bytes beyond this many in one attempt
// are a device gone wrong and are read and dropped, so a babbling device
// cannot make the buffer grow for the whole time-out.
constexpr size_t kMaxReplyBytes = 64 * 1024;

TReaderPort* ReaderPort = nullptr;
Boolean ReaderAbort = false;
TReaderIdleProc ReaderIdleCallback = nullptr;
TReaderTimings Timings;

// A command as bytes: the card text's check byte is sent as it is.
void SendCommand(const AnsiString& Bytes) {
  if (!ReaderPort) return;
  ReaderPort->ClearBuffer(true, true);
  ReaderPort->WriteStr(FrameStart + Bytes + FrameEnd);
}

Boolean ReceiveBytes(AnsiString& Reply, Cardinal Timeout, TReaderIdleProc Callback);
Boolean TransactionBytes(const AnsiString& Command, AnsiString& Reply, Cardinal Timeout,
                         TReaderIdleProc Callback);
Boolean ReadCardBytes(TCardRecord& Rec, const AnsiString* Compare);

void CallIdle() {
  if (ReaderIdleCallback) ReaderIdleCallback(ReaderAbort);
}

}  // namespace

const TReaderTimings& ReaderTimings() { return Timings; }
void SetReaderTimings(const TReaderTimings& Value) { Timings = Value; }

void SetReaderPort(TReaderPort* Port) { ReaderPort = Port; }
void SetReaderIdleCallback(TReaderIdleProc Callback) { ReaderIdleCallback = Callback; }

Cardinal TickDeadline(Cardinal Ms) { return GetTickCount() + Ms; }

Boolean DeadlinePassed(Cardinal Deadline) {
  const Cardinal past = GetTickCount() - Deadline;  // wraps
  return past != 0 && past < 0x80000000u;
}

Boolean FindReplyFrame(const String& Text, Integer& P, Integer& Q) {
  P = 0;
  Q = 0;
  if (Length(Text) < 3) return false;
  P = Pos(static_cast<Char>(FrameStart), Text);
  Q = Pos(static_cast<Char>(FrameEnd), Text);
  return P != 0 && Q != 0 && Q > P + 1;
}

namespace {

Boolean ReceiveBytes(AnsiString& Reply, Cardinal Timeout, TReaderIdleProc Callback) {
  if (!ReaderPort) return false;
  AnsiString bytes;
  Integer p = 0, q = 0;
  Boolean found = false;
  const Cardinal deadline = TickDeadline(Timeout);
  for (;;) {
    Sleep(0);
    if (Callback) Callback(ReaderAbort);
    const Integer n = ReaderPort->InputCount();
    if (n > 0) {
      AnsiString piece;
      ReaderPort->ReadStr(piece, n);
      if (bytes.size() < kMaxReplyBytes) {
        bytes += piece.substr(0, kMaxReplyBytes - bytes.size());
        // The frame bytes are the same in every code page, so the positions
        // found in the text are those of the bytes.
        found = FindReplyFrame(AnsiToString(bytes), p, q);
      }
    }
    if (found || DeadlinePassed(deadline) || ReaderAbort) break;
  }
  if (!found) return false;
  Reply = bytes.substr(static_cast<size_t>(p), static_cast<size_t>(q - p - 1));
  return true;
}

Boolean TransactionBytes(const AnsiString& Command, AnsiString& Reply, Cardinal Timeout,
                         TReaderIdleProc Callback) {
  Reply.clear();
  if (!ReaderPort) return false;
  ReaderAbort = false;
  Boolean ok = false;
  for (int attempt = 0; attempt < 3; ++attempt) {
    SendCommand(Command);
    ok = ReceiveBytes(Reply, Timeout, Callback);
    if (ok || ReaderAbort) break;
  }
  Sleep(Timings.AfterTransaction);
  return ok;
}

// Reads the card; with Compare, success also needs the reply's bytes before
// the time of loading to equal Compare's.
Boolean ReadCardBytes(TCardRecord& Rec, const AnsiString* Compare) {
  Rec = TCardRecord{};
  AnsiString reply;
  if (!TransactionBytes(StringToAnsi(ReadCardCommand), reply, Timings.ReadCard, ReaderIdleCallback))
    return false;
  if (reply.size() != static_cast<size_t>(CardTextLength)) return false;
  CardBytesToRecord(reply, Rec);
  if (!Compare) return true;
  const size_t stamp = 10;  // the time of loading, not compared
  return Compare->size() >= stamp &&
         reply.compare(0, reply.size() - stamp, *Compare, 0, Compare->size() - stamp) == 0;
}

}  // namespace

Boolean ReceiveReply(String& Reply, Cardinal Timeout, TReaderIdleProc Callback) {
  AnsiString bytes;
  if (!ReceiveBytes(bytes, Timeout, Callback)) return false;
  Reply = AnsiToString(bytes);
  return true;
}

Boolean ReaderTransaction(const String& Command, String& Reply, Cardinal Timeout, TReaderIdleProc Callback) {
  AnsiString bytes;
  const Boolean ok = TransactionBytes(StringToAnsi(Command), bytes, Timeout, Callback);
  Reply = AnsiToString(bytes);
  return ok;
}

Boolean ResetReader(Byte Number) {
  if (!ReaderPort) return false;
  try {
    if (ReaderPort->Connected()) ReaderPort->Close();
    ReaderPort->SetPort(u"COM" + IntToStr(Integer(Number)));
    ReaderPort->Open();
    ReaderPort->SetRTS(true);
    ReaderPort->SetDTR(true);
    Sleep(Timings.ResetHigh);
    CallIdle();
    ReaderPort->SetRTS(false);
    ReaderPort->SetDTR(false);
    Sleep(Timings.ResetLow);
    CallIdle();
    return true;
  } catch (...) {
    try {
      if (ReaderPort->Connected()) ReaderPort->Close();
    } catch (...) {
    }
    return false;
  }
}

Boolean ReaderPresent() {
  String reply;
  return ReaderTransaction(ProbeCommand, reply, Timings.Probe, ReaderIdleCallback) && reply == u"P";
}

Byte CardPresent() {
  String reply;
  if (!ReaderTransaction(CardPresentCommand, reply, Timings.CardPresent, ReaderIdleCallback)) return 0;
  if (reply == u"1") return 1;
  if (reply == u"0") return 2;
  return 0;
}

Boolean ReadCardSerial(TCardSerial& Serial) {
  String reply;
  if (!ReaderTransaction(CardSerialCommand, reply, Timings.CardSerial, ReaderIdleCallback)) return false;
  if (Length(reply) != 10) return false;
  for (Integer i = 0; i < 5; ++i)
    Serial.Bytes[i] = static_cast<Byte>(StrToIntDef(u"$" + Copy(reply, 2 * i + 1, 2), 0));
  Serial.Value = StrToInt64Def(u"$" + reply, 0);
  return true;
}

ECardError::ECardError(const String& Msg) : Exception(Msg) {}

Boolean WriteCard(TCardRecord& Rec) {
  const AnsiString card = CardRecordToBytes(Rec);
  const AnsiChar check = card[CardCheckPosition - 1];
  if (check == FrameStart || check == FrameEnd)
    throw ECardError(
        Format(u"The card cannot be written: its check byte %d is a frame byte of the card "
               u"loader device. Change the invoice number or the credit and load again.",
               {Integer(Byte(check))}));
  AnsiString reply;
  if (!TransactionBytes(StringToAnsi(WriteCardCommand) + card + ")", reply, Timings.WriteCard,
                        ReaderIdleCallback))
    return false;
  if (reply != "ok") return false;
  TCardRecord back;
  if (!ReadCardBytes(back, &card)) return false;
  Rec = back;
  return true;
}

Boolean ReadCardCompare(TCardRecord& Rec, const String& CompareText) {
  if (CompareText.empty()) return ReadCardBytes(Rec, nullptr);
  const AnsiString compare = StringToAnsi(CompareText);
  return ReadCardBytes(Rec, &compare);
}

Boolean ReadCard(TCardRecord& Rec) { return ReadCardCompare(Rec, String()); }
