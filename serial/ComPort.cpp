#include "serial/ComPort.h"

#include <algorithm>

#include "platform/classes/ClassRegistry.h"
#include "platform/classes/IniFiles.h"
#include "platform/classes/ModuleInit.h"
#include "platform/classes/Registry.h"
#include "platform/classes/StringLists.h"
#include "platform/classes/TypInfoBuild.h"
#include "platform/classes/WinRegistry.h"
#include "platform/rtl/CodePages.h"
#include "platform/rtl/Conversions.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/Finally.h"
#include "platform/rtl/Strings.h"
#include "platform/win/Windows.h"
#include "serial/ComSetup.h"

using namespace win;

// --- EComPort ---------------------------------------------------------------------------

String ComErrorText(Integer Code) {
  static const char16_t* const texts[] = {
      u"Unable to open com port",
      u"WriteFile function failed",
      u"ReadFile function failed",
      u"Invalid Async parameter",
      u"PurgeComm function failed",
      u"Unable to get async status",
      u"SetCommState function failed",
      u"SetCommTimeouts failed",
      u"SetupComm function failed",
      u"ClearCommError function failed",
      u"GetCommModemStatus function failed",
      u"EscapeCommFunction function failed",
      u"TransmitCommChar function failed",
      u"Cannot set property while connected",
      u"EnumPorts function failed",
      u"Failed to store settings",
      u"Failed to load settings",
      u"Link (un)registration failed",
      u"Cannot change led state if ComPort is selected",
      u"Cannot wait for event if event thread is created",
      u"WaitForEvent method failed",
      u"A component is linked to OnRxBuf event",
      u"Registry error",
  };
  if (Code >= 1 && Code <= 23) return texts[Code - 1];
  return u"Unknown Error #" + IntToStr(Code);
}

EComPort::EComPort(Integer ACode, Integer AWinCode, const String& PortName)
    : Exception(u"COM Port Error: " + ComErrorText(ACode) + u" on " + PortName), FWinCode(AWinCode), FCode(ACode) {}

EComPort EComPort::CreateNoWinCode(Integer ACode) {
  EComPort e;
  e.SetMessage(u"COM Port Error: " + ComErrorText(ACode));
  e.FCode = ACode;
  e.FWinCode = -1;
  return e;
}

// --- Event masks ------------------------------------------------------------------------

namespace {

const DWORD kEventMasks[] = {EV_RXCHAR, EV_TXEMPTY, EV_RXFLAG, EV_RING, EV_BREAK,
                             EV_CTS,    EV_DSR,     EV_ERR,    EV_RLSD, EV_RX80FULL};

const TComEvents kAllEvents{evRxChar, evTxEmpty, evRxFlag, evRing, evBreak,
                            evCTS,    evDSR,     evError,  evRLSD, evRx80Full};

const DWORD kBaudRates[] = {0, 110, 300, 600, 1200, 2400, 4800, 9600, 14400, 19200, 38400,
                            56000, 57600, 115200, 128000, 256000};

}  // namespace

DWORD ComEventsToMask(const TComEvents& Events) {
  DWORD mask = 0;
  for (int e = evRxChar; e <= evRx80Full; ++e)
    if (Events.Contains(TComEvent(e))) mask |= kEventMasks[e];
  return mask;
}

TComEvents MaskToComEvents(DWORD Mask) {
  TComEvents events;
  for (int e = evRxChar; e <= evRx80Full; ++e)
    if (Mask & kEventMasks[e]) events.Include(TComEvent(e));
  return events;
}

// --- Asynchronous records ---------------------------------------------------------------

void AllocAsyncRecord(PAsync& AsyncPtr) {
  AsyncPtr = new TComPortAsync;
  AsyncPtr->Overlapped.hEvent = CreateEventW(nullptr, 1, 0, nullptr);
}

void FreeAsyncRecord(PAsync& AsyncPtr) {
  if (!AsyncPtr) return;
  CloseHandle(AsyncPtr->Overlapped.hEvent);
  delete AsyncPtr;
  AsyncPtr = nullptr;
}

void SetAsyncBuffer(PAsync AsyncPtr, TOperationKind Kind, const void* Buffer, Integer Size) {
  AsyncPtr->Kind = Kind;
  const size_t n = Size > 0 ? static_cast<size_t>(Size) : 0;
  AsyncPtr->Data.assign(n, 0);
  if (Buffer && n) std::copy_n(static_cast<const Byte*>(Buffer), n, AsyncPtr->Data.begin());
  AsyncPtr->Size = static_cast<Integer>(n);
}

// --- Option groups ----------------------------------------------------------------------

CL_IMPLEMENT_CLASS_PUBLISHED(TComParity, P) {
  P.Property(u"Bits", &TComParity::Bits, &TComParity::SetBits).Default(prNone);
  P.Property(u"Check", &TComParity::Check, &TComParity::SetCheck).Default(false);
  P.Property(u"Replace", &TComParity::Replace, &TComParity::SetReplace).Default(false);
  P.Property(u"ReplaceChar", &TComParity::ReplaceChar, &TComParity::SetReplaceChar).Default(AnsiChar(0));
}

CL_IMPLEMENT_CLASS_PUBLISHED(TComFlowControl, P) {
  using F = TComFlowControl;
  P.Property(u"OutCTSFlow", &F::OutCTSFlow, &F::SetOutCTSFlow).Default(false);
  P.Property(u"OutDSRFlow", &F::OutDSRFlow, &F::SetOutDSRFlow).Default(false);
  P.Property(u"ControlDTR", &F::ControlDTR, &F::SetControlDTR).Default(dtrDisable);
  P.Property(u"ControlRTS", &F::ControlRTS, &F::SetControlRTS).Default(rtsDisable);
  P.Property(u"XonXoffOut", &F::XonXoffOut, &F::SetXonXoffOut).Default(false);
  P.Property(u"XonXoffIn", &F::XonXoffIn, &F::SetXonXoffIn).Default(false);
  P.Property(u"DSRSensitivity", &F::DSRSensitivity, &F::SetDSRSensitivity).Default(false);
  P.Property(u"TxContinueOnXoff", &F::TxContinueOnXoff, &F::SetTxContinueOnXoff).Default(false);
  P.Property(u"XonChar", &F::XonChar, &F::SetXonChar).Default(AnsiChar(17));
  P.Property(u"XoffChar", &F::XoffChar, &F::SetXoffChar).Default(AnsiChar(19));
  // Derived from the fields above, which are stored instead.
  P.Property(u"FlowControl", &F::FlowControl, &F::SetFlowControl).Stored(false);
}

CL_IMPLEMENT_CLASS_PUBLISHED(TComTimeouts, P) {
  using T = TComTimeouts;
  P.Property(u"ReadInterval", &T::ReadInterval, &T::SetReadInterval).Default(-1);
  P.Property(u"ReadTotalMultiplier", &T::ReadTotalMultiplier, &T::SetReadTotalMultiplier).Default(0);
  P.Property(u"ReadTotalConstant", &T::ReadTotalConstant, &T::SetReadTotalConstant).Default(0);
  P.Property(u"WriteTotalMultiplier", &T::WriteTotalMultiplier, &T::SetWriteTotalMultiplier).Default(100);
  P.Property(u"WriteTotalConstant", &T::WriteTotalConstant, &T::SetWriteTotalConstant).Default(1000);
}

CL_IMPLEMENT_CLASS_PUBLISHED(TComBuffer, P) {
  P.Property(u"InputSize", &TComBuffer::InputSize, &TComBuffer::SetInputSize).Default(1024);
  P.Property(u"OutputSize", &TComBuffer::OutputSize, &TComBuffer::SetOutputSize).Default(1024);
}

CL_IMPLEMENT_CLASS(TComLink)
CL_IMPLEMENT_CLASS(TComThread)
CL_IMPLEMENT_CLASS(TCustomComPort)

CL_IMPLEMENT_CLASS_PUBLISHED(TComPort, P) {
  using C = TCustomComPort;
  P.Property(u"Connected", &C::Connected, &C::SetConnected).Default(false);
  P.Property(u"BaudRate", &C::BaudRate, &C::SetBaudRate).Default(br9600);
  P.Property(u"Port", &C::Port, &C::SetPort);
  P.Property(u"Parity", &C::Parity, &C::SetParity);
  P.Property(u"StopBits", &C::StopBits, &C::SetStopBits).Default(sbOneStopBit);
  P.Property(u"DataBits", &C::DataBits, &C::SetDataBits).Default(dbEight);
  P.Property(u"DiscardNull", &C::DiscardNull, &C::SetDiscardNull).Default(false);
  P.Property(u"EventChar", &C::EventChar, &C::SetEventChar).Default(AnsiChar(0));
  P.Property(u"Events", &C::Events, &C::SetEvents).Default(kAllEvents);
  P.Property(u"Buffer", &C::Buffer, &C::SetBuffer);
  P.Property(u"FlowControl", &C::FlowControl, &C::SetFlowControl);
  P.Property(u"Timeouts", &C::Timeouts, &C::SetTimeouts);
  P.Property(u"SyncMethod", &C::SyncMethod, &C::SetSyncMethod).Default(smThreadSync);
  P.Property(u"OnAfterOpen", &C::OnAfterOpen, &C::SetOnAfterOpen);
  P.Property(u"OnAfterClose", &C::OnAfterClose, &C::SetOnAfterClose);
  P.Property(u"OnBeforeOpen", &C::OnBeforeOpen, &C::SetOnBeforeOpen);
  P.Property(u"OnBeforeClose", &C::OnBeforeClose, &C::SetOnBeforeClose);
  P.Property(u"OnRxChar", &C::OnRxChar, &C::SetOnRxChar);
  P.Property(u"OnRxBuf", &C::OnRxBuf, &C::SetOnRxBuf);
  P.Property(u"OnTxEmpty", &C::OnTxEmpty, &C::SetOnTxEmpty);
  P.Property(u"OnBreak", &C::OnBreak, &C::SetOnBreak);
  P.Property(u"OnRing", &C::OnRing, &C::SetOnRing);
  P.Property(u"OnCTSChange", &C::OnCTSChange, &C::SetOnCTSChange);
  P.Property(u"OnDSRChange", &C::OnDSRChange, &C::SetOnDSRChange);
  P.Property(u"OnRLSDChange", &C::OnRLSDChange, &C::SetOnRLSDChange);
  P.Property(u"OnError", &C::OnError, &C::SetOnError);
  P.Property(u"OnRxFlag", &C::OnRxFlag, &C::SetOnRxFlag);
  P.Property(u"OnRx80Full", &C::OnRx80Full, &C::SetOnRx80Full);
}

namespace {

void ComPortStartup() { RegisterClass(TComPort::StaticClass()); }
void ComPortShutdown() { UnRegisterClass(TComPort::StaticClass()); }

}  // namespace

CL_UNIT_STEPS(ComPort, &ComPortStartup, &ComPortShutdown);

void TComParity::Create() {
  inherited::Create();
  FBits = prNone;
}

void TComParity::Changed() {
  if (FComPort) FComPort->ApplyLineSettings();
}

void TComParity::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TComParity*>(Source)) {
    FBits = s->FBits;
    FCheck = s->FCheck;
    FReplace = s->FReplace;
    FReplaceChar = s->FReplaceChar;
    return;
  }
  inherited::Assign(Source);
}

#define CL_GROUP_SETTER(Class, Name, Type, Field) \
  void Class::Set##Name(Type Value) {             \
    if (Value != Field) {                         \
      Field = Value;                              \
      Changed();                                  \
    }                                             \
  }

CL_GROUP_SETTER(TComParity, Bits, TParityBits, FBits)
CL_GROUP_SETTER(TComParity, Check, Boolean, FCheck)
CL_GROUP_SETTER(TComParity, Replace, Boolean, FReplace)
CL_GROUP_SETTER(TComParity, ReplaceChar, AnsiChar, FReplaceChar)

void TComFlowControl::Create() {
  inherited::Create();
  FControlDTR = dtrDisable;
  FControlRTS = rtsDisable;
  FXonChar = 17;
  FXoffChar = 19;
}

void TComFlowControl::Changed() {
  if (FComPort) FComPort->ApplyLineSettings();
}

void TComFlowControl::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TComFlowControl*>(Source)) {
    FOutCTSFlow = s->FOutCTSFlow;
    FOutDSRFlow = s->FOutDSRFlow;
    FControlDTR = s->FControlDTR;
    FControlRTS = s->FControlRTS;
    FXonXoffOut = s->FXonXoffOut;
    FXonXoffIn = s->FXonXoffIn;
    FDSRSensitivity = s->FDSRSensitivity;
    FTxContinueOnXoff = s->FTxContinueOnXoff;
    FXonChar = s->FXonChar;
    FXoffChar = s->FXoffChar;
    return;
  }
  inherited::Assign(Source);
}

CL_GROUP_SETTER(TComFlowControl, OutCTSFlow, Boolean, FOutCTSFlow)
CL_GROUP_SETTER(TComFlowControl, OutDSRFlow, Boolean, FOutDSRFlow)
CL_GROUP_SETTER(TComFlowControl, ControlDTR, TDTRFlowControl, FControlDTR)
CL_GROUP_SETTER(TComFlowControl, ControlRTS, TRTSFlowControl, FControlRTS)
CL_GROUP_SETTER(TComFlowControl, XonXoffOut, Boolean, FXonXoffOut)
CL_GROUP_SETTER(TComFlowControl, XonXoffIn, Boolean, FXonXoffIn)
CL_GROUP_SETTER(TComFlowControl, DSRSensitivity, Boolean, FDSRSensitivity)
CL_GROUP_SETTER(TComFlowControl, TxContinueOnXoff, Boolean, FTxContinueOnXoff)
CL_GROUP_SETTER(TComFlowControl, XonChar, AnsiChar, FXonChar)
CL_GROUP_SETTER(TComFlowControl, XoffChar, AnsiChar, FXoffChar)

TFlowControl TComFlowControl::FlowControl() const {
  if (FControlRTS == rtsHandshake && FOutCTSFlow && !FXonXoffIn && !FXonXoffOut) return fcHardware;
  if (FControlRTS == rtsDisable && !FOutCTSFlow && FXonXoffIn && FXonXoffOut) return fcSoftware;
  if (FControlRTS == rtsDisable && !FOutCTSFlow && !FXonXoffIn && !FXonXoffOut) return fcNone;
  return fcCustom;
}

void TComFlowControl::SetFlowControl(TFlowControl Value) {
  if (Value != fcCustom) {
    FControlRTS = rtsDisable;
    FOutCTSFlow = false;
    FXonXoffIn = false;
    FXonXoffOut = false;
    if (Value == fcHardware) {
      FControlRTS = rtsHandshake;
      FOutCTSFlow = true;
    } else if (Value == fcSoftware) {
      FXonXoffIn = true;
      FXonXoffOut = true;
    }
  }
  Changed();
}

void TComTimeouts::Create() {
  inherited::Create();
  FReadInterval = -1;
  FWriteTotalM = 100;
  FWriteTotalC = 1000;
}

void TComTimeouts::Changed() {
  if (FComPort) FComPort->ApplyTimeoutSettings();
}

void TComTimeouts::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TComTimeouts*>(Source)) {
    FReadInterval = s->FReadInterval;
    FReadTotalM = s->FReadTotalM;
    FReadTotalC = s->FReadTotalC;
    FWriteTotalM = s->FWriteTotalM;
    FWriteTotalC = s->FWriteTotalC;
    return;
  }
  inherited::Assign(Source);
}

CL_GROUP_SETTER(TComTimeouts, ReadInterval, Integer, FReadInterval)
CL_GROUP_SETTER(TComTimeouts, ReadTotalMultiplier, Integer, FReadTotalM)
CL_GROUP_SETTER(TComTimeouts, ReadTotalConstant, Integer, FReadTotalC)
CL_GROUP_SETTER(TComTimeouts, WriteTotalMultiplier, Integer, FWriteTotalM)
CL_GROUP_SETTER(TComTimeouts, WriteTotalConstant, Integer, FWriteTotalC)

void TComBuffer::Create() {
  inherited::Create();
  FInputSize = 1024;
  FOutputSize = 1024;
}

void TComBuffer::Changed() {
  if (FComPort) FComPort->ApplyBufferSizes();
}

void TComBuffer::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TComBuffer*>(Source)) {
    FInputSize = s->FInputSize;
    FOutputSize = s->FOutputSize;
    return;
  }
  inherited::Assign(Source);
}

void TComBuffer::SetInputSize(Integer Value) {
  if (Value == FInputSize) return;
  FInputSize = Value;
  if (FInputSize % 2 != 0) FInputSize = FInputSize - 1;  // even sizes only
  Changed();
}

void TComBuffer::SetOutputSize(Integer Value) {
  if (Value == FOutputSize) return;
  FOutputSize = Value;
  if (FOutputSize % 2 != 0) FOutputSize = FOutputSize - 1;
  Changed();
}

// --- The event thread -------------------------------------------------------------------

void TComThread::Create(TCustomComPort* AComPort) {
  inherited::Create(true);
  FStopEvent = CreateEventW(nullptr, 1, 0, nullptr);
  FComPort = AComPort;
  SetPriority(FComPort->EventThreadPriority());
  SetCommMask(FComPort->Handle(), ComEventsToMask(FComPort->Events()));
}

// Resumed once constructed: the inherited AfterConstruction would start the
// thread a second time if Create had resumed it already.
void TComThread::AfterConstruction() {
  inherited::AfterConstruction();
  Resume();
}

void TComThread::Destroy() {
  SignalStop();
  inherited::Destroy();
  if (FStopEvent) CloseHandle(FStopEvent);
  FStopEvent = nullptr;
}

void TComThread::SignalStop() {
  if (FStopEvent) SetEvent(FStopEvent);
  Sleep(0);
}

void TComThread::Execute() {
  const HANDLE port = FComPort->Handle();
  OVERLAPPED ov{};
  ov.hEvent = CreateEventW(nullptr, 1, 1, nullptr);
  DWORD mask = 0;
  // Also when a handler's exception ends the loop: the wait still pending
  // refers to ov and mask, which live on this thread's stack.
  Finally cleanup([&] {
    SetCommMask(port, 0);
    PurgeComm(port, PURGE_TXCLEAR | PURGE_RXCLEAR);
    CancelIo(port);
    CloseHandle(ov.hEvent);
  });
  const HANDLE handles[2] = {FStopEvent, ov.hEvent};
  for (;;) {
    WaitCommEvent(port, &mask, &ov);
    const DWORD signaled = WaitForMultipleObjects(2, handles, 0, INFINITE);
    if (signaled != WAIT_OBJECT_0 + 1) break;
    DWORD n = 0;
    if (GetOverlappedResult(port, &ov, &n, 0)) {
      FEvents = MaskToComEvents(mask);
      DispatchEvents();
    }
  }
}

void TComThread::DispatchEvents() {
  switch (FComPort->SyncMethod()) {
    case smThreadSync:
      Synchronize(TThreadProcedure([this] { CallPortHandlers(); }));
      break;
    case smWindowSync:
      SendEventMessages();
      break;
    case smNone:
      CallPortHandlers();
      break;
    case smDisableEvents:
      break;
  }
}

// One WM_USER + 1 per event, in the order of CallPortHandlers.
void TComThread::SendEventMessages() {
  static const TComEvent order[] = {evError, evRxChar, evTxEmpty, evBreak, evRing,
                                    evCTS,   evDSR,    evRxFlag,  evRLSD,  evRx80Full};
  const HWND window = FComPort->FWindow;
  for (TComEvent e : order)
    if (FEvents.Contains(e)) SendMessageW(window, WM_USER + 1, kEventMasks[e], 0);
}

void TComThread::CallPortHandlers() {
  TCustomComPort* p = FComPort;
  if (!p->Connected()) return;
  if (FEvents.Contains(evError)) p->NotifyError();
  if (FEvents.Contains(evRxChar)) p->NotifyRxChar();
  if (FEvents.Contains(evTxEmpty)) p->NotifyTxEmpty();
  if (FEvents.Contains(evBreak)) p->NotifyBreak();
  if (FEvents.Contains(evRing)) p->NotifyRing();
  if (FEvents.Contains(evCTS)) p->NotifyCTSChange();
  if (FEvents.Contains(evDSR)) p->NotifyDSRChange();
  if (FEvents.Contains(evRxFlag)) p->NotifyRxFlag();
  if (FEvents.Contains(evRLSD)) p->NotifyRLSDChange();
  if (FEvents.Contains(evRx80Full)) p->NotifyRx80Full();
}

// --- The port: configuration and lifecycle ----------------------------------------------

void TCustomComPort::Create(TComponent* AOwner) {
  inherited::Create(AOwner);
  FBaudRate = br9600;
  FCustomBaudRate = 9600;
  FPort = u"COM1";
  FStopBits = sbOneStopBit;
  FDataBits = dbEight;
  FEvents = kAllEvents;
  FHandle = INVALID_HANDLE_VALUE;
  FStoredProps = TStoredProps{spBasic};
  FTriggersOnRxChar = true;
  FEventThreadPriority = tpNormal;
  FSyncMethod = smThreadSync;
  FOverlapped = true;
  FParity = New<TComParity>();
  FParity->SetComPort(this);
  FFlowControl = New<TComFlowControl>();
  FFlowControl->SetComPort(this);
  FTimeouts = New<TComTimeouts>();
  FTimeouts->SetComPort(this);
  FBuffer = New<TComBuffer>();
  FBuffer->SetComPort(this);
}

void TCustomComPort::Destroy() {
  Close();
  FreeAsyncRecord(FReadAsync);
  FreeAsyncRecord(FWriteAsync);
  FreeAndNil(FBuffer);
  FreeAndNil(FFlowControl);
  FreeAndNil(FTimeouts);
  FreeAndNil(FParity);
  FLinks.clear();
  inherited::Destroy();
}

Boolean TCustomComPort::CanApply() const {
  return FConnected && FUpdateCount == 0 && !ComponentState().Contains(csDesigning) &&
         !ComponentState().Contains(csLoading);
}

void TCustomComPort::RaiseWin(Integer Code) { throw EComPort(Code, static_cast<Integer>(GetLastError()), FPort); }

void TCustomComPort::BeginUpdate() { ++FUpdateCount; }

void TCustomComPort::EndUpdate() {
  if (FUpdateCount == 0) return;
  if (--FUpdateCount == 0) ApplyAllSettings();
}

void TCustomComPort::OpenPortHandle() {
  const DWORD flags = FOverlapped ? FILE_FLAG_OVERLAPPED : 0;
  FHandle = CreateFileW((u"\\\\.\\" + FPort).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                        flags, nullptr);
  if (FHandle == INVALID_HANDLE_VALUE) RaiseWin(CError_OpenFailed);
}

void TCustomComPort::ClosePortHandle() {
  if (FHandle != INVALID_HANDLE_VALUE) CloseHandle(FHandle);
  FHandle = INVALID_HANDLE_VALUE;
}

void TCustomComPort::Open() {
  if (FConnected || ComponentState().Contains(csDesigning)) return;
  DoBeforeOpen();
  OpenPortHandle();
  FConnected = true;
  try {
    ApplyAllSettings();
  } catch (...) {
    ClosePortHandle();
    FConnected = false;
    throw;
  }
  if (!FEvents.Empty()) {
    if (FSyncMethod == smWindowSync) FWindow = AllocateHWnd(TWndMethod(this, &TCustomComPort::PortWindowProc));
    if (FOverlapped) {
      FEventThread = NewBy<TComThread>(&TComThread::Create, this);
      FThreadCreated = true;
    }
  }
  NotifyLinksSignal(leConn, true);
  DoAfterOpen();
  ReportSignals(true);
}

void TCustomComPort::Close() {
  if (!FConnected || ComponentState().Contains(csDesigning)) return;
  ReportSignals(false);
  DoBeforeClose();
  AbortAllAsync();
  // The hidden window goes first: a message the event thread is sending to
  // it then gives up instead of waiting for this thread, which is busy
  // closing. It is freed even without an event thread (a port opened
  // without overlapped I/O), so it never outlives the connection.
  if (FWindow) {
    DeallocateHWnd(FWindow);
    FWindow = nullptr;
  }
  if (FThreadCreated) {
    FreeAndNil(FEventThread);
    FThreadCreated = false;
  }
  ClosePortHandle();
  FConnected = false;
  NotifyLinksSignal(leConn, false);
  DoAfterClose();
}

void TCustomComPort::ShowSetupDialog() { RunComSetupForm(this); }

void TCustomComPort::ApplyAllSettings() {
  ApplyBufferSizes();
  ApplyLineSettings();
  ApplyTimeoutSettings();
}

void TCustomComPort::ApplyBufferSizes() {
  if (!CanApply()) return;
  if (!SetupComm(FHandle, static_cast<DWORD>(FBuffer->InputSize()), static_cast<DWORD>(FBuffer->OutputSize())))
    RaiseWin(CError_SetupComFailed);
}

void TCustomComPort::ApplyTimeoutSettings() {
  if (!CanApply()) return;
  COMMTIMEOUTS t;
  t.ReadIntervalTimeout = static_cast<DWORD>(FTimeouts->ReadInterval());
  t.ReadTotalTimeoutMultiplier = static_cast<DWORD>(FTimeouts->ReadTotalMultiplier());
  t.ReadTotalTimeoutConstant = static_cast<DWORD>(FTimeouts->ReadTotalConstant());
  t.WriteTotalTimeoutMultiplier = static_cast<DWORD>(FTimeouts->WriteTotalMultiplier());
  t.WriteTotalTimeoutConstant = static_cast<DWORD>(FTimeouts->WriteTotalConstant());
  if (!SetCommTimeouts(FHandle, &t)) RaiseWin(CError_TimeoutsFailed);
}

void TCustomComPort::ApplyLineSettings() {
  if (!CanApply()) return;
  DCB d{};
  d.DCBlength = sizeof(DCB);
  d.BaudRate = FBaudRate == brCustom ? static_cast<DWORD>(FCustomBaudRate) : kBaudRates[FBaudRate];
  d.fBinary = 1;
  d.fNull = FDiscardNull;
  d.fOutxCtsFlow = FFlowControl->OutCTSFlow();
  d.fOutxDsrFlow = FFlowControl->OutDSRFlow();
  d.fDtrControl = FFlowControl->ControlDTR();
  d.fRtsControl = FFlowControl->ControlRTS();
  d.fOutX = FFlowControl->XonXoffOut();
  d.fInX = FFlowControl->XonXoffIn();
  d.fDsrSensitivity = FFlowControl->DSRSensitivity();
  d.fTXContinueOnXoff = FFlowControl->TxContinueOnXoff();
  d.fParity = FParity->Check();
  if (FParity->Check() && FParity->Replace()) {
    d.fErrorChar = 1;
    d.ErrorChar = FParity->ReplaceChar();
  }
  d.XonLim = static_cast<WORD>(FBuffer->InputSize() / 4);
  d.XoffLim = d.XonLim;
  d.ByteSize = static_cast<BYTE>(FDataBits + 5);
  d.Parity = static_cast<BYTE>(FParity->Bits());
  d.StopBits = static_cast<BYTE>(FStopBits);
  d.XonChar = FFlowControl->XonChar();
  d.XoffChar = FFlowControl->XoffChar();
  d.EvtChar = FEventChar;
  if (!SetCommState(FHandle, &d)) RaiseWin(CError_SetStateFailed);
}

void TCustomComPort::Loaded() {
  inherited::Loaded();
  if (FConnected && !ComponentState().Contains(csDesigning)) {
    FConnected = false;
    // To the application's handler, not out: a form with a port that
    // cannot open still loads, and the port stays closed.
    HandleExceptionsOf(this, [&] { Open(); });
  }
}

void TCustomComPort::SetConnected(Boolean Value) {
  if (ComponentState().Contains(csDesigning) || ComponentState().Contains(csLoading)) {
    FConnected = Value;
    return;
  }
  if (Value)
    Open();
  else
    Close();
}

#define CL_PORT_LINE_SETTER(Name, Type, Field) \
  void TCustomComPort::Set##Name(Type Value) { \
    if (Value == Field) return;                \
    Field = Value;                             \
    ApplyLineSettings();                       \
  }

CL_PORT_LINE_SETTER(BaudRate, TBaudRate, FBaudRate)
CL_PORT_LINE_SETTER(CustomBaudRate, Integer, FCustomBaudRate)
CL_PORT_LINE_SETTER(DataBits, TDataBits, FDataBits)
CL_PORT_LINE_SETTER(StopBits, TStopBits, FStopBits)
CL_PORT_LINE_SETTER(DiscardNull, Boolean, FDiscardNull)
CL_PORT_LINE_SETTER(EventChar, AnsiChar, FEventChar)

void TCustomComPort::SetPort(const String& Value) {
  if (Value == FPort) return;
  FPort = Value;
  if (FConnected && !ComponentState().Contains(csDesigning) && !ComponentState().Contains(csLoading)) {
    Close();
    Open();
  }
}

void TCustomComPort::SetParity(TComParity* Value) {
  FParity->Assign(Value);
  ApplyLineSettings();
}

void TCustomComPort::SetFlowControl(TComFlowControl* Value) {
  FFlowControl->Assign(Value);
  ApplyLineSettings();
}

void TCustomComPort::SetTimeouts(TComTimeouts* Value) {
  FTimeouts->Assign(Value);
  ApplyTimeoutSettings();
}

void TCustomComPort::SetBuffer(TComBuffer* Value) {
  FBuffer->Assign(Value);
  ApplyBufferSizes();
}

void TCustomComPort::SetSyncMethod(TSyncMethod Value) {
  if (Value == FSyncMethod) return;
  if (FConnected && !ComponentState().Contains(csDesigning) && !ComponentState().Contains(csLoading))
    throw EComPort::CreateNoWinCode(CError_ConnChangeProp);
  FSyncMethod = Value;
}

void TCustomComPort::SetEventThreadPriority(TThreadPriority Value) {
  if (Value == FEventThreadPriority) return;
  if (FConnected && !ComponentState().Contains(csDesigning) && !ComponentState().Contains(csLoading))
    throw EComPort::CreateNoWinCode(CError_ConnChangeProp);
  FEventThreadPriority = Value;
}

Boolean TCustomComPort::TriggersOnRxChar() const { return FHasLink ? false : FTriggersOnRxChar; }

void TCustomComPort::SetTriggersOnRxChar(Boolean Value) {
  if (FHasLink) throw EComPort::CreateNoWinCode(CError_HasLink);
  FTriggersOnRxChar = Value;
}

void TCustomComPort::SetOverlapped(Boolean Value) {
  if (!FConnected) FOverlapped = Value;
}

// --- I/O --------------------------------------------------------------------------------

Integer TCustomComPort::Write(const void* Buffer, Integer Count) {
  if (FOverlapped) {
    if (!FWriteAsync) AllocAsyncRecord(FWriteAsync);
    WriteAsync(Buffer, Count, FWriteAsync);
    return WaitForAsync(FWriteAsync);
  }
  if (!FConnected) return 0;
  DWORD n = 0;
  if (!WriteFile(FHandle, Buffer, static_cast<DWORD>(Count), &n, nullptr)) {
    ++FSyncWriteErrors;
    return 0;
  }
  return Count;
}

Integer TCustomComPort::WriteStr(const AnsiString& Str) {
  if (FOverlapped) {
    if (!FWriteAsync) AllocAsyncRecord(FWriteAsync);
    if (WriteStrAsync(Str, FWriteAsync) == 0 && Str.empty()) return 0;
    return WaitForAsync(FWriteAsync);
  }
  if (!FConnected) return 0;
  DWORD n = 0;
  if (!WriteFile(FHandle, Str.data(), static_cast<DWORD>(Str.size()), &n, nullptr)) {
    ++FSyncWriteErrors;
    return 0;
  }
  return static_cast<Integer>(Str.size());
}

Integer TCustomComPort::WriteAsync(const void* Buffer, Integer Count, PAsync& AsyncPtr) {
  if (!AsyncPtr) throw EComPort::CreateNoWinCode(CError_InvalidAsync);
  SetAsyncBuffer(AsyncPtr, okWrite, Buffer, Count);
  AsyncPtr->NotStarted = false;
  DWORD n = 0;
  const BOOL ok = WriteFile(FHandle, AsyncPtr->Data.data(), static_cast<DWORD>(AsyncPtr->Size), &n,
                            &AsyncPtr->Overlapped);
  if (!ok && GetLastError() != ERROR_IO_PENDING) RaiseWin(CError_WriteFailed);
  NotifyLinksSignal(leTx, true);
  return static_cast<Integer>(n);
}

Integer TCustomComPort::WriteStrAsync(const AnsiString& Str, PAsync& AsyncPtr) {
  if (Str.empty()) return 0;
  return WriteAsync(Str.data(), static_cast<Integer>(Str.size()), AsyncPtr);
}

Integer TCustomComPort::ReadAsync(void* Buffer, Integer Count, PAsync& AsyncPtr) {
  if (!AsyncPtr) throw EComPort::CreateNoWinCode(CError_InvalidAsync);
  AsyncPtr->Kind = okRead;
  AsyncPtr->NotStarted = false;
  if (Count > 0) static_cast<Byte*>(Buffer)[0] = 0;
  DWORD n = 0;
  const BOOL ok = ReadFile(FHandle, Buffer, static_cast<DWORD>(Count > 0 ? Count : 0), &n, &AsyncPtr->Overlapped);
  if (!ok && GetLastError() != ERROR_IO_PENDING) {
    const DWORD err = GetLastError();
    if (FReadAsyncExceptionsEnabled) RaiseWin(CError_ReadFailed);
    ++FReadAsyncErrorCount;
    FReadAsyncLastError = err;
    // The read never started: its record counts as done with no bytes, so
    // that a wait for it (Read, ReadStr) does not last for ever.
    AsyncPtr->NotStarted = true;
    __atomic_store_n(&AsyncPtr->Overlapped.Internal, static_cast<ULONG_PTR>(ERROR_SUCCESS), __ATOMIC_RELEASE);
    AsyncPtr->Overlapped.InternalHigh = 0;
    SetEvent(AsyncPtr->Overlapped.hEvent);
    return 0;
  }
  return static_cast<Integer>(n);
}

Integer TCustomComPort::ReadStrAsync(AnsiString& Str, Integer Count, PAsync& AsyncPtr) {
  Str.assign(Count > 0 ? static_cast<size_t>(Count) : 0, '\0');
  if (Count <= 0) return 0;
  return ReadAsync(Str.data(), Count, AsyncPtr);
}

Integer TCustomComPort::Read(void* Buffer, Integer Count) {
  if (!FReadAsync) AllocAsyncRecord(FReadAsync);
  ReadAsync(Buffer, Count, FReadAsync);
  return WaitForAsync(FReadAsync);
}

Integer TCustomComPort::ReadStr(AnsiString& Str, Integer Count) {
  if (!FReadAsync) AllocAsyncRecord(FReadAsync);
  SetAsyncBuffer(FReadAsync, okRead, nullptr, Count < 1 ? 1 : Count);
  ReadAsync(FReadAsync->Data.data(), FReadAsync->Size, FReadAsync);
  const Integer n = WaitForAsync(FReadAsync);
  if (n > 0)
    Str.assign(reinterpret_cast<const char*>(FReadAsync->Data.data()), static_cast<size_t>(n));
  else
    Str.clear();
  return n;
}

Integer TCustomComPort::WaitForAsync(PAsync& AsyncPtr) {
  if (!AsyncPtr) throw EComPort::CreateNoWinCode(CError_InvalidAsync);
  if (AsyncPtr->NotStarted) return 0;  // nothing moved, nothing to tell the links
  WaitForSingleObject(AsyncPtr->Overlapped.hEvent, INFINITE);
  DWORD n = 0;
  if (!GetOverlappedResult(FHandle, &AsyncPtr->Overlapped, &n, 0))
    RaiseWin(AsyncPtr->Kind == okWrite ? CError_WriteFailed : CError_ReadFailed);
  if (!FInputCountNotSupported) {
    // Only a write's bytes go to the links' transmit handlers; a read that
    // leaves bytes queued tells them nothing (reception is still active).
    if (AsyncPtr->Kind == okRead) {
      if (InputCount() == 0) NotifyLinksSignal(leRx, false);
    } else if (!AsyncPtr->Data.empty()) {
      NotifyLinksTxBuf(AsyncPtr->Data.data(), static_cast<Integer>(n));
    }
  }
  return static_cast<Integer>(n);
}

Boolean TCustomComPort::IsAsyncCompleted(PAsync AsyncPtr) {
  if (!AsyncPtr) throw EComPort::CreateNoWinCode(CError_InvalidAsync);
  DWORD n = 0;
  if (GetOverlappedResult(FHandle, &AsyncPtr->Overlapped, &n, 0)) return true;
  const DWORD err = GetLastError();
  if (err == ERROR_IO_PENDING || err == ERROR_IO_INCOMPLETE) return false;
  RaiseWin(CError_AsyncCheck);
}

void TCustomComPort::AbortAllAsync() {
  if (!FOverlapped) return;
  if (!PurgeComm(FHandle, PURGE_TXABORT | PURGE_RXABORT)) RaiseWin(CError_PurgeFailed);
}

Integer TCustomComPort::InputCount() {
  if (FInputCountNotSupported) return 0;
  DWORD errors = 0;
  COMSTAT st{};
  if (!ClearCommError(FHandle, &errors, &st)) RaiseWin(CError_ClearComFailed);
  return static_cast<Integer>(st.cbInQue);
}

Integer TCustomComPort::OutputCount() {
  DWORD errors = 0;
  COMSTAT st{};
  if (!ClearCommError(FHandle, &errors, &st)) RaiseWin(CError_ClearComFailed);
  return static_cast<Integer>(st.cbOutQue);
}

void TCustomComPort::ClearBuffer(Boolean Input, Boolean Output) {
  DWORD flags = 0;
  if (Input) flags |= PURGE_RXCLEAR;
  if (Output) flags |= PURGE_TXCLEAR;
  if (!PurgeComm(FHandle, flags)) RaiseWin(CError_PurgeFailed);
}

TComStateFlags TCustomComPort::StateFlags() {
  DWORD errors = 0;
  COMSTAT st{};
  if (!ClearCommError(FHandle, &errors, &st)) RaiseWin(CError_ClearComFailed);
  TComStateFlags flags;
  if (st.fCtsHold) flags.Include(fCtsHold);
  if (st.fDsrHold) flags.Include(fDsrHold);
  if (st.fRlsdHold) flags.Include(fRlsdHold);
  if (st.fXoffHold) flags.Include(fXoffHold);
  if (st.fXoffSent) flags.Include(fXOffSent);
  if (st.fEof) flags.Include(fEof);
  if (st.fTxim) flags.Include(fTxim);
  return flags;
}

TComErrors TCustomComPort::LastErrors() {
  DWORD errors = 0;
  COMSTAT st{};
  if (!ClearCommError(FHandle, &errors, &st)) RaiseWin(CError_ClearComFailed);
  TComErrors result;
  if (errors & CE_FRAME) result.Include(ceFrame);
  if ((errors & CE_RXPARITY) && FParity->Check()) result.Include(ceRxParity);
  if (errors & CE_OVERRUN) result.Include(ceOverrun);
  if (errors & CE_RXOVER) result.Include(ceRxOver);
  if (errors & CE_TXFULL) result.Include(ceTxFull);
  if (errors & CE_BREAK) result.Include(ceBreak);
  if (errors & CE_IOE) result.Include(ceIO);
  if (errors & CE_MODE) result.Include(ceMode);
  return result;
}

TComSignals TCustomComPort::Signals() {
  TComSignals result;
  if (!FOverlapped) return result;
  DWORD status = 0;
  if (!GetCommModemStatus(FHandle, &status)) RaiseWin(CError_ModemStatFailed);
  if (status & MS_CTS_ON) result.Include(csCTS);
  if (status & MS_DSR_ON) result.Include(csDSR);
  if (status & MS_RING_ON) result.Include(csRing);
  if (status & MS_RLSD_ON) result.Include(csRLSD);
  return result;
}

void TCustomComPort::SetDTR(Boolean OnOff) {
  if (!EscapeCommFunction(FHandle, OnOff ? SETDTR : CLRDTR)) RaiseWin(CError_EscapeComFailed);
}

void TCustomComPort::SetRTS(Boolean OnOff) {
  if (!EscapeCommFunction(FHandle, OnOff ? SETRTS : CLRRTS)) RaiseWin(CError_EscapeComFailed);
}

void TCustomComPort::SetBreak(Boolean OnOff) {
  if (!EscapeCommFunction(FHandle, OnOff ? SETBREAK : CLRBREAK)) RaiseWin(CError_EscapeComFailed);
}

void TCustomComPort::SetXonXoff(Boolean OnOff) {
  if (!EscapeCommFunction(FHandle, OnOff ? SETXON : SETXOFF)) RaiseWin(CError_EscapeComFailed);
}

void TCustomComPort::TransmitChar(AnsiChar Ch) {
  if (!TransmitCommChar(FHandle, Ch)) RaiseWin(CError_TransmitFailed);
}

void TCustomComPort::WaitForEvent(TComEvents& Events, HANDLE StopEvent, Integer Timeout) {
  if (FThreadCreated) throw EComPort::CreateNoWinCode(CError_ThreadCreated);
  OVERLAPPED ov{};
  ov.hEvent = CreateEventW(nullptr, 1, 0, nullptr);
  Finally closeEvent([&] { CloseHandle(ov.hEvent); });
  if (!SetCommMask(FHandle, ComEventsToMask(Events))) RaiseWin(CError_WaitFailed);
  DWORD mask = 0;
  const BOOL ok = WaitCommEvent(FHandle, &mask, &ov);
  if (!ok && GetLastError() != ERROR_IO_PENDING) RaiseWin(CError_WaitFailed);
  // A wait that completed at once (always so on a port opened without
  // overlapped I/O, where the call returns only with an event) needs no wait.
  bool fired = ok;
  if (!fired) {
    HANDLE handles[2] = {ov.hEvent, StopEvent};
    const DWORD r = WaitForMultipleObjects(StopEvent ? 2 : 1, handles, 0, static_cast<DWORD>(Timeout));
    if (r == WAIT_FAILED) RaiseWin(CError_WaitFailed);
    fired = r == WAIT_OBJECT_0;
  }
  // Ending the mask ends a wait still pending, so the record is free again.
  SetCommMask(FHandle, 0);
  DWORD n = 0;
  GetOverlappedResult(FHandle, &ov, &n, 1);
  Events = fired ? MaskToComEvents(mask) : TComEvents{};
}

// --- Links and notifications ------------------------------------------------------------

void TCustomComPort::UpdateRxBufLinks() {
  FHasLink = std::any_of(FLinks.begin(), FLinks.end(), [](TComLink* l) { return Assigned(l->OnRxBuf()); });
}

void TCustomComPort::RegisterLink(TComLink* AComLink) {
  if (std::find(FLinks.begin(), FLinks.end(), AComLink) != FLinks.end())
    throw EComPort::CreateNoWinCode(CError_RegFailed);
  FLinks.push_back(AComLink);
  UpdateRxBufLinks();
}

void TCustomComPort::UnRegisterLink(TComLink* AComLink) {
  auto it = std::find(FLinks.begin(), FLinks.end(), AComLink);
  if (it == FLinks.end()) throw EComPort::CreateNoWinCode(CError_RegFailed);
  FLinks.erase(it);
  UpdateRxBufLinks();
}

void TCustomComPort::NotifyLinksSignal(TComLinkEvent Kind, Boolean OnOff) {
  const std::vector<TComLink*> links = FLinks;
  for (TComLink* l : links) {
    const TComSignalEvent* e = nullptr;
    switch (Kind) {
      case leConn: e = &l->OnConn(); break;
      case leCTS: e = &l->OnCTSChange(); break;
      case leDSR: e = &l->OnDSRChange(); break;
      case leRLSD: e = &l->OnRLSDChange(); break;
      case leRx: e = &l->OnRx(); break;
      case leTx: e = &l->OnTx(); break;
      default: break;
    }
    if (e && Assigned(*e)) (*e)(this, OnOff);
  }
}

void TCustomComPort::NotifyLinksEvent(TComLinkEvent Kind) {
  const std::vector<TComLink*> links = FLinks;
  for (TComLink* l : links) {
    const TNotifyEvent* e = nullptr;
    switch (Kind) {
      case leRing: e = &l->OnRing(); break;
      case leTxEmpty: e = &l->OnTxEmpty(); break;
      case leRxFlag: e = &l->OnRxFlag(); break;
      default: break;
    }
    if (e && Assigned(*e)) (*e)(this);
  }
}

void TCustomComPort::NotifyLinksTxBuf(const void* Buffer, Integer Count) {
  const std::vector<TComLink*> links = FLinks;
  for (TComLink* l : links)
    if (Assigned(l->OnTxBuf())) l->OnTxBuf()(this, Buffer, Count);
}

void TCustomComPort::ReportSignals(Boolean OnOff) {
  if (OnOff) {
    NotifyCTSChange();
    NotifyDSRChange();
    NotifyRLSDChange();
    return;
  }
  NotifyLinksSignal(leCTS, false);
  NotifyLinksSignal(leDSR, false);
  NotifyLinksSignal(leRLSD, false);
  DoCTSChange(false);
  DoDSRChange(false);
  DoRLSDChange(false);
}

void TCustomComPort::NotifyCTSChange() {
  const Boolean on = Signals().Contains(csCTS);
  NotifyLinksSignal(leCTS, on);
  DoCTSChange(on);
}

void TCustomComPort::NotifyDSRChange() {
  const Boolean on = Signals().Contains(csDSR);
  NotifyLinksSignal(leDSR, on);
  DoDSRChange(on);
}

void TCustomComPort::NotifyRLSDChange() {
  const Boolean on = Signals().Contains(csRLSD);
  NotifyLinksSignal(leRLSD, on);
  DoRLSDChange(on);
}

void TCustomComPort::NotifyError() {
  const TComErrors errors = LastErrors();
  if (!errors.Empty()) DoError(errors);
}

void TCustomComPort::NotifyRing() {
  NotifyLinksEvent(leRing);
  DoRing();
}

void TCustomComPort::NotifyRxFlag() {
  NotifyLinksEvent(leRxFlag);
  DoRxFlag();
}

void TCustomComPort::NotifyTxEmpty() {
  NotifyLinksSignal(leTx, false);
  NotifyLinksEvent(leTxEmpty);
  DoTxEmpty();
}

void TCustomComPort::NotifyBreak() { DoBreak(); }
void TCustomComPort::NotifyRx80Full() { DoRx80Full(); }

void TCustomComPort::NotifyRxChar() {
  if (FInputCountNotSupported) return;
  Integer count = InputCount();
  if (count > 0) NotifyLinksSignal(leRx, true);
  if (!TriggersOnRxChar() && count > 0) {
    std::vector<Byte> buf;
    bool read = false;
    const std::vector<TComLink*> links = FLinks;
    for (TComLink* l : links) {
      if (!Assigned(l->OnRxBuf())) continue;
      if (!read) {
        buf.assign(static_cast<size_t>(count), 0);
        count = Read(buf.data(), count);
        buf.resize(static_cast<size_t>(std::max(count, 0)));
        read = true;
        DoRxBuf(buf.data(), static_cast<Integer>(buf.size()));
      }
      l->OnRxBuf()(this, buf.data(), static_cast<Integer>(buf.size()));
    }
    if (!read && !FTriggersOnRxChar) {
      buf.assign(static_cast<size_t>(count), 0);
      count = Read(buf.data(), count);
      buf.resize(static_cast<size_t>(std::max(count, 0)));
      DoRxBuf(buf.data(), static_cast<Integer>(buf.size()));
    }
    count = 0;
  }
  if (count > 0) DoRxChar(count);
}

void TCustomComPort::PortWindowProc(TMessage& Msg) {
  if (Msg.Msg != WM_USER + 1) {
    Msg.Result = DefWindowProcW(FWindow, Msg.Msg, Msg.WParam, Msg.LParam);
    return;
  }
  if (InSendMessage()) ReplyMessage(0);  // the event thread goes on at once
  if (!FConnected) return;
  // To the application's handler, not back to the event thread's SendMessage.
  HandleExceptionsOf(this, [&] {
    switch (Msg.WParam) {
      case EV_RXCHAR: NotifyRxChar(); break;
      case EV_RXFLAG: NotifyRxFlag(); break;
      case EV_TXEMPTY: NotifyTxEmpty(); break;
      case EV_CTS: NotifyCTSChange(); break;
      case EV_DSR: NotifyDSRChange(); break;
      case EV_RLSD: NotifyRLSDChange(); break;
      case EV_BREAK: NotifyBreak(); break;
      case EV_ERR: NotifyError(); break;
      case EV_RING: NotifyRing(); break;
      case EV_RX80FULL: NotifyRx80Full(); break;
      default: break;
    }
  });
}

void TCustomComPort::DoAfterClose() {
  if (Assigned(FOnAfterClose)) FOnAfterClose(this);
}
void TCustomComPort::DoAfterOpen() {
  if (Assigned(FOnAfterOpen)) FOnAfterOpen(this);
}
void TCustomComPort::DoBeforeClose() {
  if (Assigned(FOnBeforeClose)) FOnBeforeClose(this);
}
void TCustomComPort::DoBeforeOpen() {
  if (Assigned(FOnBeforeOpen)) FOnBeforeOpen(this);
}
void TCustomComPort::DoRxChar(Integer Count) {
  if (Assigned(FOnRxChar)) FOnRxChar(this, Count);
}
void TCustomComPort::DoRxBuf(const void* Buffer, Integer Count) {
  if (Assigned(FOnRxBuf)) FOnRxBuf(this, Buffer, Count);
}
void TCustomComPort::DoTxEmpty() {
  if (Assigned(FOnTxEmpty)) FOnTxEmpty(this);
}
void TCustomComPort::DoBreak() {
  if (Assigned(FOnBreak)) FOnBreak(this);
}
void TCustomComPort::DoRing() {
  if (Assigned(FOnRing)) FOnRing(this);
}
void TCustomComPort::DoRxFlag() {
  if (Assigned(FOnRxFlag)) FOnRxFlag(this);
}
void TCustomComPort::DoCTSChange(Boolean OnOff) {
  if (Assigned(FOnCTSChange)) FOnCTSChange(this, OnOff);
}
void TCustomComPort::DoDSRChange(Boolean OnOff) {
  if (Assigned(FOnDSRChange)) FOnDSRChange(this, OnOff);
}
void TCustomComPort::DoError(TComErrors Errors) {
  if (Assigned(FOnError)) FOnError(this, Errors);
}
void TCustomComPort::DoRLSDChange(Boolean OnOff) {
  if (Assigned(FOnRLSDChange)) FOnRLSDChange(this, OnOff);
}
void TCustomComPort::DoRx80Full() {
  if (Assigned(FOnRx80Full)) FOnRx80Full(this);
}

// --- Settings storage and the port list -------------------------------------------------

namespace {

const char16_t* const kBaudTexts[] = {u"Custom", u"110",   u"300",   u"600",    u"1200",   u"2400",
                                      u"4800",   u"9600",  u"14400", u"19200",  u"38400",  u"56000",
                                      u"57600",  u"115200", u"128000", u"256000"};
const char16_t* const kStopTexts[] = {u"1", u"1.5", u"2"};
const char16_t* const kDataTexts[] = {u"5", u"6", u"7", u"8"};
const char16_t* const kParityTexts[] = {u"None", u"Odd", u"Even", u"Mark", u"Space"};
const char16_t* const kFlowTexts[] = {u"Hardware", u"Software", u"None", u"Custom"};
const char16_t* const kDTRTexts[] = {u"Disable", u"Enable", u"Handshake"};
const char16_t* const kRTSTexts[] = {u"Disable", u"Enable", u"Handshake", u"Toggle"};

template <size_t N>
int FromTable(const char16_t* const (&Table)[N], const String& Text, int Fallback) {
  for (size_t i = 0; i < N; ++i)
    if (CompareText(Text, Table[i]) == 0) return static_cast<int>(i);
  return Fallback;
}

// Both media, one list of keys: Put writes a key, Get reads one (with the
// current value as text for INI defaults).
class TStore {
 public:
  virtual ~TStore() = default;
  virtual void PutString(const String& Key, const String& Value) = 0;
  virtual void PutInteger(const String& Key, Integer Value) = 0;
  virtual String GetString(const String& Key, const String& Current) = 0;
  virtual Integer GetInteger(const String& Key, Integer Current) = 0;
};

class TIniStore : public TStore {
 public:
  TIniStore(TCustomIniFile* Ini, const String& Section) : FIni(Ini), FSection(Section) {}
  void PutString(const String& Key, const String& Value) override { FIni->WriteString(FSection, Key, Value); }
  void PutInteger(const String& Key, Integer Value) override { FIni->WriteInteger(FSection, Key, Value); }
  String GetString(const String& Key, const String& Current) override {
    return FIni->ReadString(FSection, Key, Current);
  }
  Integer GetInteger(const String& Key, Integer Current) override {
    return FIni->ReadInteger(FSection, Key, Current);
  }

 private:
  TCustomIniFile* FIni;
  String FSection;
};

class TRegStore : public TStore {
 public:
  explicit TRegStore(TRegistry* Reg) : FReg(Reg) {}
  void PutString(const String& Key, const String& Value) override { FReg->WriteString(Key, Value); }
  void PutInteger(const String& Key, Integer Value) override { FReg->WriteInteger(Key, Value); }
  String GetString(const String& Key, const String&) override {
    RequireKey(Key);
    return FReg->ReadString(Key);
  }
  Integer GetInteger(const String& Key, Integer) override { return FReg->ReadInteger(Key); }

 private:
  // Without an open key (a path without "\") the first value fails; a
  // missing text value would otherwise read as empty.
  void RequireKey(const String& Key) {
    if (!FReg->CurrentKey()) throw ERegistryException(u"Failed to get data for '" + Key + u"'");
  }
  TRegistry* FReg;
};

void WriteSettings(TCustomComPort* P, TStore& S) {
  const TStoredProps props = P->StoredProps();
  if (props.Contains(spBasic)) {
    S.PutString(u"Port", P->Port());
    S.PutString(u"BaudRate", BaudRateText(P->BaudRate()));
    if (P->BaudRate() == brCustom) S.PutInteger(u"CustomBaudRate", P->CustomBaudRate());
    S.PutString(u"StopBits", StopBitsText(P->StopBits()));
    S.PutString(u"DataBits", DataBitsText(P->DataBits()));
    S.PutString(u"Parity", ParityText(P->Parity()->Bits()));
    S.PutString(u"FlowControl", FlowControlText(P->FlowControl()->FlowControl()));
  }
  if (props.Contains(spOthers)) {
    S.PutString(u"EventChar", CharText(P->EventChar()));
    S.PutString(u"DiscardNull", BoolText(P->DiscardNull()));
  }
  if (props.Contains(spParity)) {
    S.PutString(u"Parity.Check", BoolText(P->Parity()->Check()));
    S.PutString(u"Parity.Replace", BoolText(P->Parity()->Replace()));
    S.PutString(u"Parity.ReplaceChar", CharText(P->Parity()->ReplaceChar()));
  }
  if (props.Contains(spBuffer)) {
    S.PutInteger(u"Buffer.OutputSize", P->Buffer()->OutputSize());
    S.PutInteger(u"Buffer.InputSize", P->Buffer()->InputSize());
  }
  if (props.Contains(spTimeouts)) {
    TComTimeouts* t = P->Timeouts();
    S.PutInteger(u"Timeouts.ReadInterval", t->ReadInterval());
    S.PutInteger(u"Timeouts.ReadTotalConstant", t->ReadTotalConstant());
    S.PutInteger(u"Timeouts.ReadTotalMultiplier", t->ReadTotalMultiplier());
    S.PutInteger(u"Timeouts.WriteTotalConstant", t->WriteTotalConstant());
    S.PutInteger(u"Timeouts.WriteTotalMultiplier", t->WriteTotalMultiplier());
  }
  if (props.Contains(spFlowControl)) {
    TComFlowControl* f = P->FlowControl();
    S.PutString(u"FlowControl.ControlRTS", RTSControlText(f->ControlRTS()));
    S.PutString(u"FlowControl.ControlDTR", DTRControlText(f->ControlDTR()));
    S.PutString(u"FlowControl.DSRSensitivity", BoolText(f->DSRSensitivity()));
    S.PutString(u"FlowControl.OutCTSFlow", BoolText(f->OutCTSFlow()));
    S.PutString(u"FlowControl.OutDSRFlow", BoolText(f->OutDSRFlow()));
    S.PutString(u"FlowControl.TxContinueOnXoff", BoolText(f->TxContinueOnXoff()));
    S.PutString(u"FlowControl.XonXoffIn", BoolText(f->XonXoffIn()));
    S.PutString(u"FlowControl.XonXoffOut", BoolText(f->XonXoffOut()));
    S.PutString(u"FlowControl.XoffChar", CharText(f->XoffChar()));
    S.PutString(u"FlowControl.XonChar", CharText(f->XonChar()));
  }
}

void ReadSettings(TCustomComPort* P, TStore& S) {
  const TStoredProps props = P->StoredProps();
  if (props.Contains(spBasic)) {
    P->SetPort(S.GetString(u"Port", P->Port()));
    P->SetBaudRate(BaudRateFromText(S.GetString(u"BaudRate", BaudRateText(P->BaudRate()))));
    if (P->BaudRate() == brCustom) P->SetCustomBaudRate(S.GetInteger(u"CustomBaudRate", P->CustomBaudRate()));
    P->SetStopBits(StopBitsFromText(S.GetString(u"StopBits", StopBitsText(P->StopBits()))));
    P->SetDataBits(DataBitsFromText(S.GetString(u"DataBits", DataBitsText(P->DataBits()))));
    P->Parity()->SetBits(ParityFromText(S.GetString(u"Parity", ParityText(P->Parity()->Bits()))));
    P->FlowControl()->SetFlowControl(
        FlowControlFromText(S.GetString(u"FlowControl", FlowControlText(P->FlowControl()->FlowControl()))));
  }
  if (props.Contains(spOthers)) {
    P->SetEventChar(CharFromText(S.GetString(u"EventChar", CharText(P->EventChar()))));
    P->SetDiscardNull(BoolFromText(S.GetString(u"DiscardNull", BoolText(P->DiscardNull()))));
  }
  if (props.Contains(spParity)) {
    TComParity* p = P->Parity();
    p->SetCheck(BoolFromText(S.GetString(u"Parity.Check", BoolText(p->Check()))));
    p->SetReplace(BoolFromText(S.GetString(u"Parity.Replace", BoolText(p->Replace()))));
    p->SetReplaceChar(CharFromText(S.GetString(u"Parity.ReplaceChar", CharText(p->ReplaceChar()))));
  }
  if (props.Contains(spBuffer)) {
    TComBuffer* b = P->Buffer();
    b->SetOutputSize(S.GetInteger(u"Buffer.OutputSize", b->OutputSize()));
    b->SetInputSize(S.GetInteger(u"Buffer.InputSize", b->InputSize()));
  }
  if (props.Contains(spTimeouts)) {
    TComTimeouts* t = P->Timeouts();
    t->SetReadInterval(S.GetInteger(u"Timeouts.ReadInterval", t->ReadInterval()));
    t->SetReadTotalConstant(S.GetInteger(u"Timeouts.ReadTotalConstant", t->ReadTotalConstant()));
    t->SetReadTotalMultiplier(S.GetInteger(u"Timeouts.ReadTotalMultiplier", t->ReadTotalMultiplier()));
    t->SetWriteTotalConstant(S.GetInteger(u"Timeouts.WriteTotalConstant", t->WriteTotalConstant()));
    t->SetWriteTotalMultiplier(S.GetInteger(u"Timeouts.WriteTotalMultiplier", t->WriteTotalMultiplier()));
  }
  if (props.Contains(spFlowControl)) {
    TComFlowControl* f = P->FlowControl();
    f->SetControlRTS(RTSControlFromText(S.GetString(u"FlowControl.ControlRTS", RTSControlText(f->ControlRTS()))));
    f->SetControlDTR(DTRControlFromText(S.GetString(u"FlowControl.ControlDTR", DTRControlText(f->ControlDTR()))));
    f->SetDSRSensitivity(BoolFromText(S.GetString(u"FlowControl.DSRSensitivity", BoolText(f->DSRSensitivity()))));
    f->SetOutCTSFlow(BoolFromText(S.GetString(u"FlowControl.OutCTSFlow", BoolText(f->OutCTSFlow()))));
    f->SetOutDSRFlow(BoolFromText(S.GetString(u"FlowControl.OutDSRFlow", BoolText(f->OutDSRFlow()))));
    f->SetTxContinueOnXoff(
        BoolFromText(S.GetString(u"FlowControl.TxContinueOnXoff", BoolText(f->TxContinueOnXoff()))));
    f->SetXonXoffIn(BoolFromText(S.GetString(u"FlowControl.XonXoffIn", BoolText(f->XonXoffIn()))));
    f->SetXonXoffOut(BoolFromText(S.GetString(u"FlowControl.XonXoffOut", BoolText(f->XonXoffOut()))));
    f->SetXoffChar(CharFromText(S.GetString(u"FlowControl.XoffChar", CharText(f->XoffChar()))));
    f->SetXonChar(CharFromText(S.GetString(u"FlowControl.XonChar", CharText(f->XonChar()))));
  }
}

// Root word, path and the component's name: the key the settings live in.
void OpenRegistryPath(TRegistry* Reg, const String& Path, const String& Name) {
  const Integer slash = Pos(u'\\', Path);
  if (slash == 0) return;  // no key: the first value fails
  const String root = Copy(Path, 1, slash - 1);
  if (CompareText(root, u"HKEY_LOCAL_MACHINE") == 0)
    Reg->SetRootKey(HKEY_LOCAL_MACHINE);
  else
    Reg->SetRootKey(HKEY_CURRENT_USER);
  String key = Copy(Path, slash + 1);
  if (key.empty() || key.back() != u'\\') key += u'\\';
  Reg->OpenKey(key + Name, true);
}

}  // namespace

String BaudRateText(TBaudRate Value) { return kBaudTexts[Value]; }
String StopBitsText(TStopBits Value) { return kStopTexts[Value]; }
String DataBitsText(TDataBits Value) { return kDataTexts[Value]; }
String ParityText(TParityBits Value) { return kParityTexts[Value]; }
String FlowControlText(TFlowControl Value) { return kFlowTexts[Value]; }
String DTRControlText(TDTRFlowControl Value) { return kDTRTexts[Value]; }
String RTSControlText(TRTSFlowControl Value) { return kRTSTexts[Value]; }
TBaudRate BaudRateFromText(const String& Text) { return TBaudRate(FromTable(kBaudTexts, Text, br9600)); }
TStopBits StopBitsFromText(const String& Text) { return TStopBits(FromTable(kStopTexts, Text, sbOneStopBit)); }
TDataBits DataBitsFromText(const String& Text) { return TDataBits(FromTable(kDataTexts, Text, dbEight)); }
TParityBits ParityFromText(const String& Text) { return TParityBits(FromTable(kParityTexts, Text, prNone)); }
TFlowControl FlowControlFromText(const String& Text) { return TFlowControl(FromTable(kFlowTexts, Text, fcCustom)); }
TDTRFlowControl DTRControlFromText(const String& Text) {
  return TDTRFlowControl(FromTable(kDTRTexts, Text, dtrDisable));
}
TRTSFlowControl RTSControlFromText(const String& Text) {
  return TRTSFlowControl(FromTable(kRTSTexts, Text, rtsDisable));
}

String BoolText(Boolean Value) { return Value ? u"Yes" : u"No"; }
Boolean BoolFromText(const String& Text) { return CompareText(Text, u"YES") == 0; }

String CharText(AnsiChar Value) {
  const Byte b = static_cast<Byte>(Value);
  if (b >= 33 && b <= 127) return String(1, static_cast<Char>(b));
  return u"#" + IntToStr(Integer(b));
}

AnsiChar CharFromText(const String& Text) {
  if (Text.empty()) return 0;
  if (Text[0] == u'#' && Text.size() > 1) return static_cast<AnsiChar>(StrToIntDef(Copy(Text, 2), 0));
  return StringToAnsi(Text.substr(0, 1)).c_str()[0];
}

void TCustomComPort::WriteSettingsToRegistry(TRegistry* Reg) {
  TRegStore s(Reg);
  WriteSettings(this, s);
}

void TCustomComPort::WriteSettingsToIni(TCustomIniFile* Ini) {
  TIniStore s(Ini, Name());
  WriteSettings(this, s);
}

void TCustomComPort::ReadSettingsFromRegistry(TRegistry* Reg) {
  TRegStore s(Reg);
  ReadSettings(this, s);
}

void TCustomComPort::ReadSettingsFromIni(TCustomIniFile* Ini) {
  TIniStore s(Ini, Name());
  ReadSettings(this, s);
}

void TCustomComPort::StoreSettings(TStoreType StoreType, const String& StoreTo) {
  TObject* medium = nullptr;
  Finally freeMedium([&] { Free(medium); });
  try {
    if (StoreType == stIniFile) {
      auto* ini = New<TIniFile>(StoreTo);
      medium = ini;
      WriteSettingsToIni(ini);
    } else {
      auto* reg = New<TRegistry>();
      medium = reg;
      OpenRegistryPath(reg, StoreTo, Name());
      WriteSettingsToRegistry(reg);
    }
  } catch (...) {
    throw EComPort::CreateNoWinCode(CError_StoreFailed);
  }
}

void TCustomComPort::LoadSettings(TStoreType StoreType, const String& LoadFrom) {
  // The values read are applied to an open port once, by EndUpdate; a
  // failure in reading or in applying them is the load's failure.
  BeginUpdate();
  TObject* medium = nullptr;
  bool failed = false;
  try {
    if (StoreType == stIniFile) {
      auto* ini = New<TIniFile>(LoadFrom);
      medium = ini;
      ReadSettingsFromIni(ini);
    } else {
      auto* reg = New<TRegistry>();
      medium = reg;
      OpenRegistryPath(reg, LoadFrom, Name());
      ReadSettingsFromRegistry(reg);
    }
  } catch (...) {
    failed = true;
  }
  Free(medium);
  try {
    EndUpdate();
  } catch (...) {
    failed = true;
  }
  if (failed) throw EComPort::CreateNoWinCode(CError_LoadFailed);
}

void GetSerialPortNames(TStrings* Strings) {
  HKEY key{};
  LSTATUS r = RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ, &key);
  if (r != ERROR_SUCCESS) throw EComPort(CError_RegError, r, u"registry read");
  std::vector<String> names;
  for (DWORD i = 0;; ++i) {
    WCHAR name[256];
    BYTE data[256];
    DWORD nameLen = 256, dataLen = sizeof data, type = 0;
    r = RegEnumValueW(key, i, name, &nameLen, nullptr, &type, data, &dataLen);
    if (r == ERROR_NO_MORE_ITEMS) break;
    if (r != ERROR_SUCCESS) {
      RegCloseKey(key);
      throw EComPort(CError_RegError, r, u"registry read");
    }
    String value;
    for (DWORD k = 0; k + 1 < dataLen; k += 2) {
      const Char c = static_cast<Char>(data[k] | (data[k + 1] << 8));
      if (c == 0) break;
      value.push_back(c);
    }
    names.push_back(value);
  }
  RegCloseKey(key);
  TStringList* list = New<TStringList>();
  Finally freeList([&] { Free(list); });
  for (const String& n : names) list->Add(n);
  list->CustomSort([](TStringList* L, Integer A, Integer B) { return CompareText(L->Strings(A), L->Strings(B)); });
  Strings->Assign(list);
}
