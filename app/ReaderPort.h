// The port the card reader talks through.
//
// TReaderPort has exactly the members of the serial-port component that the
// card-reader protocol calls, with the component's names and meaning; errors
// are raised as EComPort. TComPortReader hands the component itself (the
// main window's Com) to the protocol. TDirectReaderPort implements the same
// straight on the serial functions of platform/win with the main window's
// settings (9600 baud, 8 data bits, no parity, one stop bit, no flow
// control, reads that return at once), for tools and tests that need no
// component.
#pragma once

#include "platform/classes/WinHandles.h"
#include "platform/rtl/Types.h"

class TReaderPort {
 public:
  virtual ~TReaderPort() = default;
  virtual Boolean Connected() = 0;
  virtual void Open() = 0;
  virtual void Close() = 0;
  virtual String Port() = 0;
  virtual void SetPort(const String& Value) = 0;
  virtual void SetRTS(Boolean OnOff) = 0;
  virtual void SetDTR(Boolean OnOff) = 0;
  virtual void ClearBuffer(Boolean Input, Boolean Output) = 0;
  // Returns when the bytes are written; the number written.
  virtual Integer WriteStr(const AnsiString& Str) = 0;
  virtual Integer InputCount() = 0;
  // Reads up to Count (at least 1) bytes that are queued; the number read.
  virtual Integer ReadStr(AnsiString& Str, Integer Count) = 0;
};

class TCustomComPort;

// The serial-port component behind the protocol's interface (not owned).
class TComPortReader : public TReaderPort {
 public:
  explicit TComPortReader(TCustomComPort* Port) : FPort(Port) {}
  Boolean Connected() override;
  void Open() override;
  void Close() override;
  String Port() override;
  void SetPort(const String& Value) override;
  void SetRTS(Boolean OnOff) override;
  void SetDTR(Boolean OnOff) override;
  void ClearBuffer(Boolean Input, Boolean Output) override;
  Integer WriteStr(const AnsiString& Str) override;
  Integer InputCount() override;
  Integer ReadStr(AnsiString& Str, Integer Count) override;

 private:
  TCustomComPort* FPort;
};

class TDirectReaderPort : public TReaderPort {
 public:
  TDirectReaderPort() = default;
  ~TDirectReaderPort() override;
  TDirectReaderPort(const TDirectReaderPort&) = delete;
  TDirectReaderPort& operator=(const TDirectReaderPort&) = delete;

  Boolean Connected() override { return FHandle != nullptr; }
  void Open() override;
  void Close() override;
  String Port() override { return FPort; }
  void SetPort(const String& Value) override;
  void SetRTS(Boolean OnOff) override;
  void SetDTR(Boolean OnOff) override;
  void ClearBuffer(Boolean Input, Boolean Output) override;
  Integer WriteStr(const AnsiString& Str) override;
  Integer InputCount() override;
  Integer ReadStr(AnsiString& Str, Integer Count) override;

 private:
  [[noreturn]] void Raise(Integer Code);
  Integer Transfer(bool Write, void* Buffer, Integer Count);

  win::HANDLE FHandle = nullptr;
  String FPort = u"COM1";
};
