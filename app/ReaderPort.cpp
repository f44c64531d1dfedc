#include "app/ReaderPort.h"

#include "platform/win/Comm.h"
#include "serial/ComPort.h"

Boolean TComPortReader::Connected() { return FPort->Connected(); }
void TComPortReader::Open() { FPort->Open(); }
void TComPortReader::Close() { FPort->Close(); }
String TComPortReader::Port() { return FPort->Port(); }
void TComPortReader::SetPort(const String& Value) { FPort->SetPort(Value); }
void TComPortReader::SetRTS(Boolean OnOff) { FPort->SetRTS(OnOff); }
void TComPortReader::SetDTR(Boolean OnOff) { FPort->SetDTR(OnOff); }
void TComPortReader::ClearBuffer(Boolean Input, Boolean Output) { FPort->ClearBuffer(Input, Output); }
Integer TComPortReader::WriteStr(const AnsiString& Str) { return FPort->WriteStr(Str); }
Integer TComPortReader::InputCount() { return FPort->InputCount(); }
Integer TComPortReader::ReadStr(AnsiString& Str, Integer Count) { return FPort->ReadStr(Str, Count); }

TDirectReaderPort::~TDirectReaderPort() { Close(); }

void TDirectReaderPort::Raise(Integer Code) {
  throw EComPort(Code, static_cast<Integer>(win::GetLastError()), FPort);
}

void TDirectReaderPort::SetPort(const String& Value) {
  if (Value == FPort) return;
  const bool reopen = Connected();
  if (reopen) Close();
  FPort = Value;
  if (reopen) Open();
}

void TDirectReaderPort::Open() {
  using namespace win;
  if (Connected()) return;
  HANDLE h = CreateFileW((u"\\\\.\\" + FPort).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                         OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
  if (h == INVALID_HANDLE_VALUE) Raise(CError_OpenFailed);
  FHandle = h;
  Integer failed = 0;
  if (!SetupComm(h, 1024, 1024)) {
    failed = CError_SetupComFailed;
  } else {
    DCB d{};
    d.DCBlength = sizeof d;
    d.BaudRate = 9600;
    d.fBinary = 1;
    d.XonLim = d.XoffLim = 256;
    d.ByteSize = 8;
    d.XonChar = 17;
    d.XoffChar = 19;
    COMMTIMEOUTS t{MAXDWORD, 0, 0, 100, 1000};
    if (!SetCommState(h, &d))
      failed = CError_SetStateFailed;
    else if (!SetCommTimeouts(h, &t))
      failed = CError_TimeoutsFailed;
  }
  if (failed) {
    const DWORD err = GetLastError();
    CloseHandle(h);
    FHandle = nullptr;
    SetLastError(err);
    Raise(failed);
  }
}

void TDirectReaderPort::Close() {
  if (!FHandle) return;
  win::CloseHandle(FHandle);
  FHandle = nullptr;
}

void TDirectReaderPort::SetRTS(Boolean OnOff) {
  if (!win::EscapeCommFunction(FHandle, OnOff ? win::SETRTS : win::CLRRTS)) Raise(CError_EscapeComFailed);
}

void TDirectReaderPort::SetDTR(Boolean OnOff) {
  if (!win::EscapeCommFunction(FHandle, OnOff ? win::SETDTR : win::CLRDTR)) Raise(CError_EscapeComFailed);
}

void TDirectReaderPort::ClearBuffer(Boolean Input, Boolean Output) {
  win::DWORD flags = 0;
  if (Input) flags |= win::PURGE_RXCLEAR;
  if (Output) flags |= win::PURGE_TXCLEAR;
  if (!win::PurgeComm(FHandle, flags)) Raise(CError_PurgeFailed);
}

Integer TDirectReaderPort::Transfer(bool Write, void* Buffer, Integer Count) {
  using namespace win;
  HANDLE ev = CreateEventW(nullptr, 1, 0, nullptr);
  OVERLAPPED ov{};
  ov.hEvent = ev;
  DWORD n = 0;
  BOOL ok = Write ? WriteFile(FHandle, Buffer, DWORD(Count), &n, &ov)
                  : ReadFile(FHandle, Buffer, DWORD(Count), &n, &ov);
  if (!ok && GetLastError() == ERROR_IO_PENDING) ok = GetOverlappedResult(FHandle, &ov, &n, 1);
  const DWORD err = GetLastError();
  CloseHandle(ev);
  if (!ok) {
    SetLastError(err);
    Raise(Write ? CError_WriteFailed : CError_ReadFailed);
  }
  return static_cast<Integer>(n);
}

Integer TDirectReaderPort::WriteStr(const AnsiString& Str) {
  if (Str.empty()) return 0;
  AnsiString copy = Str;
  return Transfer(true, copy.data(), static_cast<Integer>(copy.size()));
}

Integer TDirectReaderPort::InputCount() {
  win::COMSTAT st{};
  win::DWORD errors = 0;
  if (!win::ClearCommError(FHandle, &errors, &st)) Raise(CError_ClearComFailed);
  return static_cast<Integer>(st.cbInQue);
}

Integer TDirectReaderPort::ReadStr(AnsiString& Str, Integer Count) {
  if (Count < 1) Count = 1;
  Str.assign(static_cast<size_t>(Count), '\0');
  const Integer n = Transfer(false, Str.data(), Count);
  Str.resize(n > 0 ? static_cast<size_t>(n) : 0);
  return n;
}
