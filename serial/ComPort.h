// The serial-port component: TCustomComPort/TComPort own one serial port of
// the system, keep its line settings, open and close it, move data, drive the
// modem lines, and host the event thread that turns the driver's
// communication events into notifications; EComPort is its exception with
// 23 codes.
#pragma once

#include <vector>

#include "platform/classes/Classes.h"
#include "platform/classes/Delegates.h"
#include "platform/classes/Sets.h"
#include "platform/classes/Threads.h"
#include "platform/classes/TypInfo.h"
#include "platform/rtl/Exceptions.h"
#include "platform/win/Comm.h"
#include "platform/win/WinTypes.h"

class TStrings;
class TCustomIniFile;
class TRegistry;

// --- Error codes and the exception --------------------------------------------------

constexpr Integer CError_OpenFailed = 1;
constexpr Integer CError_WriteFailed = 2;
constexpr Integer CError_ReadFailed = 3;
constexpr Integer CError_InvalidAsync = 4;
constexpr Integer CError_PurgeFailed = 5;
constexpr Integer CError_AsyncCheck = 6;
constexpr Integer CError_SetStateFailed = 7;
constexpr Integer CError_TimeoutsFailed = 8;
constexpr Integer CError_SetupComFailed = 9;
constexpr Integer CError_ClearComFailed = 10;
constexpr Integer CError_ModemStatFailed = 11;
constexpr Integer CError_EscapeComFailed = 12;
constexpr Integer CError_TransmitFailed = 13;
constexpr Integer CError_ConnChangeProp = 14;
constexpr Integer CError_EnumPortsFailed = 15;
constexpr Integer CError_StoreFailed = 16;
constexpr Integer CError_LoadFailed = 17;
constexpr Integer CError_RegFailed = 18;
constexpr Integer CError_LedStateFailed = 19;
constexpr Integer CError_ThreadCreated = 20;
constexpr Integer CError_WaitFailed = 21;
constexpr Integer CError_HasLink = 22;
constexpr Integer CError_RegError = 23;

// The text of a code; any other code gives "Unknown Error #" + the code.
String ComErrorText(Integer Code);

class EComPort : public Exception {
 public:
  EComPort() = default;
  // "COM Port Error: " + text of the code + " on " + port name.
  EComPort(Integer ACode, Integer AWinCode, const String& PortName);
  // "COM Port Error: " + text of the code; WinCode -1.
  static EComPort CreateNoWinCode(Integer ACode);

  Integer WinCode() const { return FWinCode; }
  Integer Code() const { return FCode; }

  String ClassName() const override { return u"EComPort"; }
  std::unique_ptr<Exception> Clone() const override { return std::make_unique<EComPort>(*this); }
  [[noreturn]] void Raise() const override { throw *this; }

 private:
  Integer FWinCode = -1;
  Integer FCode = 0;
};

// --- Enumerations and sets ------------------------------------------------------------

CL_ENUM(TBaudRate, Byte, brCustom, br110, br300, br600, br1200, br2400, br4800, br9600, br14400, br19200, br38400,
        br56000, br57600, br115200, br128000, br256000)
CL_ENUM(TStopBits, Byte, sbOneStopBit, sbOne5StopBits, sbTwoStopBits)
CL_ENUM(TDataBits, Byte, dbFive, dbSix, dbSeven, dbEight)
CL_ENUM(TParityBits, Byte, prNone, prOdd, prEven, prMark, prSpace)
CL_ENUM(TDTRFlowControl, Byte, dtrDisable, dtrEnable, dtrHandshake)
CL_ENUM(TRTSFlowControl, Byte, rtsDisable, rtsEnable, rtsHandshake, rtsToggle)
CL_ENUM(TFlowControl, Byte, fcHardware, fcSoftware, fcNone, fcCustom)
CL_ENUM(TComEvent, Byte, evRxChar, evTxEmpty, evRxFlag, evRing, evBreak, evCTS, evDSR, evError, evRLSD, evRx80Full)
using TComEvents = TSet<TComEvent, 2>;
CL_SET_TYPEINFO(TComEvents);
CL_ENUM(TSyncMethod, Byte, smThreadSync, smWindowSync, smNone, smDisableEvents)
CL_ENUM(TStoredProp, Byte, spBasic, spFlowControl, spBuffer, spTimeouts, spParity, spOthers)
using TStoredProps = TSet<TStoredProp, 1>;
CL_SET_TYPEINFO(TStoredProps);
CL_ENUM(TComSignal, Byte, csCTS, csDSR, csRing, csRLSD)
using TComSignals = TSet<TComSignal, 1>;
CL_ENUM(TComError, Byte, ceFrame, ceRxParity, ceOverrun, ceBreak, ceIO, ceMode, ceRxOver, ceTxFull)
using TComErrors = TSet<TComError, 1>;
// The driver's hold flags, in bit order.
CL_ENUM(TComStateFlag, Byte, fCtsHold, fDsrHold, fRlsdHold, fXoffHold, fXOffSent, fEof, fTxim)
using TComStateFlags = TSet<TComStateFlag, 1>;
enum TOperationKind : Byte { okWrite, okRead };
enum TStoreType : Byte { stRegistry, stIniFile };

// The two mappings of events to the system's event mask (EV_ values).
win::DWORD ComEventsToMask(const TComEvents& Events);
TComEvents MaskToComEvents(win::DWORD Mask);

// --- Asynchronous transfers -----------------------------------------------------------

// One overlapped transfer: the system record with its manual-reset event,
// the kind, and a buffer owned by the record.
struct TComPortAsync {
  win::OVERLAPPED Overlapped;
  TOperationKind Kind = okWrite;
  std::vector<Byte> Data;
  Integer Size = 0;
  // Set when a read could not be started and failed silently: the record
  // then counts as done with nothing transferred.
  Boolean NotStarted = false;
};
using PAsync = TComPortAsync*;

void AllocAsyncRecord(PAsync& AsyncPtr);
void FreeAsyncRecord(PAsync& AsyncPtr);
void SetAsyncBuffer(PAsync AsyncPtr, TOperationKind Kind, const void* Buffer, Integer Size);

// --- Option groups --------------------------------------------------------------------

class TCustomComPort;

class TComParity : public TPersistent {
  CL_CLASS(TComParity, TPersistent)
 public:
  void Create();
  void Assign(TPersistent* Source) override;
  TCustomComPort* ComPort() const { return FComPort; }
  void SetComPort(TCustomComPort* Value) { FComPort = Value; }
  TParityBits Bits() const { return FBits; }
  void SetBits(TParityBits Value);
  Boolean Check() const { return FCheck; }
  void SetCheck(Boolean Value);
  Boolean Replace() const { return FReplace; }
  void SetReplace(Boolean Value);
  AnsiChar ReplaceChar() const { return FReplaceChar; }
  void SetReplaceChar(AnsiChar Value);

 private:
  void Changed();
  TCustomComPort* FComPort{};
  TParityBits FBits{};
  Boolean FCheck{};
  Boolean FReplace{};
  AnsiChar FReplaceChar{};
};

class TComFlowControl : public TPersistent {
  CL_CLASS(TComFlowControl, TPersistent)
 public:
  void Create();
  void Assign(TPersistent* Source) override;
  TCustomComPort* ComPort() const { return FComPort; }
  void SetComPort(TCustomComPort* Value) { FComPort = Value; }
  Boolean OutCTSFlow() const { return FOutCTSFlow; }
  void SetOutCTSFlow(Boolean Value);
  Boolean OutDSRFlow() const { return FOutDSRFlow; }
  void SetOutDSRFlow(Boolean Value);
  TDTRFlowControl ControlDTR() const { return FControlDTR; }
  void SetControlDTR(TDTRFlowControl Value);
  TRTSFlowControl ControlRTS() const { return FControlRTS; }
  void SetControlRTS(TRTSFlowControl Value);
  Boolean XonXoffOut() const { return FXonXoffOut; }
  void SetXonXoffOut(Boolean Value);
  Boolean XonXoffIn() const { return FXonXoffIn; }
  void SetXonXoffIn(Boolean Value);
  Boolean DSRSensitivity() const { return FDSRSensitivity; }
  void SetDSRSensitivity(Boolean Value);
  Boolean TxContinueOnXoff() const { return FTxContinueOnXoff; }
  void SetTxContinueOnXoff(Boolean Value);
  AnsiChar XonChar() const { return FXonChar; }
  void SetXonChar(AnsiChar Value);
  AnsiChar XoffChar() const { return FXoffChar; }
  void SetXoffChar(AnsiChar Value);
  TFlowControl FlowControl() const;
  void SetFlowControl(TFlowControl Value);

 private:
  void Changed();
  TCustomComPort* FComPort{};
  Boolean FOutCTSFlow{};
  Boolean FOutDSRFlow{};
  TDTRFlowControl FControlDTR{};
  TRTSFlowControl FControlRTS{};
  Boolean FXonXoffOut{};
  Boolean FXonXoffIn{};
  Boolean FDSRSensitivity{};
  Boolean FTxContinueOnXoff{};
  AnsiChar FXonChar{};
  AnsiChar FXoffChar{};
};

class TComTimeouts : public TPersistent {
  CL_CLASS(TComTimeouts, TPersistent)
 public:
  void Create();
  void Assign(TPersistent* Source) override;
  TCustomComPort* ComPort() const { return FComPort; }
  void SetComPort(TCustomComPort* Value) { FComPort = Value; }
  Integer ReadInterval() const { return FReadInterval; }
  void SetReadInterval(Integer Value);
  Integer ReadTotalMultiplier() const { return FReadTotalM; }
  void SetReadTotalMultiplier(Integer Value);
  Integer ReadTotalConstant() const { return FReadTotalC; }
  void SetReadTotalConstant(Integer Value);
  Integer WriteTotalMultiplier() const { return FWriteTotalM; }
  void SetWriteTotalMultiplier(Integer Value);
  Integer WriteTotalConstant() const { return FWriteTotalC; }
  void SetWriteTotalConstant(Integer Value);

 private:
  void Changed();
  TCustomComPort* FComPort{};
  Integer FReadInterval{};
  Integer FReadTotalM{};
  Integer FReadTotalC{};
  Integer FWriteTotalM{};
  Integer FWriteTotalC{};
};

class TComBuffer : public TPersistent {
  CL_CLASS(TComBuffer, TPersistent)
 public:
  void Create();
  void Assign(TPersistent* Source) override;
  TCustomComPort* ComPort() const { return FComPort; }
  void SetComPort(TCustomComPort* Value) { FComPort = Value; }
  Integer InputSize() const { return FInputSize; }
  void SetInputSize(Integer Value);
  Integer OutputSize() const { return FOutputSize; }
  void SetOutputSize(Integer Value);

 private:
  void Changed();
  TCustomComPort* FComPort{};
  Integer FInputSize{};
  Integer FOutputSize{};
};

// --- Events and links -----------------------------------------------------------------

using TRxCharEvent = TDelegate<void(TObject* Sender, Integer Count)>;
using TRxBufEvent = TDelegate<void(TObject* Sender, const void* Buffer, Integer Count)>;
using TComSignalEvent = TDelegate<void(TObject* Sender, Boolean OnOff)>;
using TComErrorEvent = TDelegate<void(TObject* Sender, TComErrors Errors)>;
CL_EVENT_TYPEINFO(TRxCharEvent);
CL_EVENT_TYPEINFO(TRxBufEvent);
CL_EVENT_TYPEINFO(TComSignalEvent);
CL_EVENT_TYPEINFO(TComErrorEvent);

// An observer of a port; every handler is optional. The sender is the port.
class TComLink : public TObject {
  CL_CLASS(TComLink, TObject)
 public:
  const TComSignalEvent& OnConn() const { return FOnConn; }
  void SetOnConn(const TComSignalEvent& Value) { FOnConn = Value; }
  const TRxBufEvent& OnRxBuf() const { return FOnRxBuf; }
  void SetOnRxBuf(const TRxBufEvent& Value) { FOnRxBuf = Value; }
  const TRxBufEvent& OnTxBuf() const { return FOnTxBuf; }
  void SetOnTxBuf(const TRxBufEvent& Value) { FOnTxBuf = Value; }
  const TNotifyEvent& OnTxEmpty() const { return FOnTxEmpty; }
  void SetOnTxEmpty(const TNotifyEvent& Value) { FOnTxEmpty = Value; }
  const TNotifyEvent& OnRxFlag() const { return FOnRxFlag; }
  void SetOnRxFlag(const TNotifyEvent& Value) { FOnRxFlag = Value; }
  const TComSignalEvent& OnCTSChange() const { return FOnCTSChange; }
  void SetOnCTSChange(const TComSignalEvent& Value) { FOnCTSChange = Value; }
  const TComSignalEvent& OnDSRChange() const { return FOnDSRChange; }
  void SetOnDSRChange(const TComSignalEvent& Value) { FOnDSRChange = Value; }
  const TComSignalEvent& OnRLSDChange() const { return FOnRLSDChange; }
  void SetOnRLSDChange(const TComSignalEvent& Value) { FOnRLSDChange = Value; }
  const TNotifyEvent& OnRing() const { return FOnRing; }
  void SetOnRing(const TNotifyEvent& Value) { FOnRing = Value; }
  const TComSignalEvent& OnTx() const { return FOnTx; }
  void SetOnTx(const TComSignalEvent& Value) { FOnTx = Value; }
  const TComSignalEvent& OnRx() const { return FOnRx; }
  void SetOnRx(const TComSignalEvent& Value) { FOnRx = Value; }

 private:
  TComSignalEvent FOnConn;
  TRxBufEvent FOnRxBuf;
  TRxBufEvent FOnTxBuf;
  TNotifyEvent FOnTxEmpty;
  TNotifyEvent FOnRxFlag;
  TComSignalEvent FOnCTSChange;
  TComSignalEvent FOnDSRChange;
  TComSignalEvent FOnRLSDChange;
  TNotifyEvent FOnRing;
  TComSignalEvent FOnTx;
  TComSignalEvent FOnRx;
};

enum TComLinkEvent : Byte { leConn, leCTS, leDSR, leRLSD, leRing, leRxBuf, leTxBuf, leTxEmpty, leRxFlag, leTx, leRx };

// The event thread: waits for the driver's events while the port is open.
class TComThread : public TThread {
  CL_CLASS(TComThread, TThread)
 public:
  void Create(TCustomComPort* AComPort);
  void AfterConstruction() override;
  void Destroy() override;

 protected:
  void Execute() override;

 private:
  void DispatchEvents();
  void CallPortHandlers();
  void SendEventMessages();
  void SignalStop();

  TCustomComPort* FComPort{};
  win::HANDLE FStopEvent{};
  TComEvents FEvents;
};

// --- The port -------------------------------------------------------------------------

class TCustomComPort : public TComponent {
  CL_CLASS(TCustomComPort, TComponent)
 public:
  void Create(TComponent* AOwner) override;
  void Destroy() override;

  void BeginUpdate();
  void EndUpdate();
  void Open();
  void Close();
  // Shows the modal set-up dialog of the six line settings (serial/ComSetup).
  void ShowSetupDialog();

  // Data transfer, queues and modem lines.
  Integer Write(const void* Buffer, Integer Count);
  Integer WriteStr(const AnsiString& Str);
  Integer Read(void* Buffer, Integer Count);
  Integer ReadStr(AnsiString& Str, Integer Count);
  Integer WriteAsync(const void* Buffer, Integer Count, PAsync& AsyncPtr);
  Integer WriteStrAsync(const AnsiString& Str, PAsync& AsyncPtr);
  Integer ReadAsync(void* Buffer, Integer Count, PAsync& AsyncPtr);
  Integer ReadStrAsync(AnsiString& Str, Integer Count, PAsync& AsyncPtr);
  Integer WaitForAsync(PAsync& AsyncPtr);
  Boolean IsAsyncCompleted(PAsync AsyncPtr);
  void AbortAllAsync();
  Integer InputCount();
  Integer OutputCount();
  void ClearBuffer(Boolean Input, Boolean Output);
  TComStateFlags StateFlags();
  TComErrors LastErrors();
  TComSignals Signals();
  void SetDTR(Boolean OnOff);
  void SetRTS(Boolean OnOff);
  void SetBreak(Boolean OnOff);
  void SetXonXoff(Boolean OnOff);
  void TransmitChar(AnsiChar Ch);
  void WaitForEvent(TComEvents& Events, win::HANDLE StopEvent, Integer Timeout);

  // Observers.
  void RegisterLink(TComLink* AComLink);
  void UnRegisterLink(TComLink* AComLink);

  // Settings storage to an INI file or a registry key.
  void StoreSettings(TStoreType StoreType, const String& StoreTo);
  void LoadSettings(TStoreType StoreType, const String& LoadFrom);

  // Properties.
  Boolean Connected() const { return FConnected; }
  void SetConnected(Boolean Value);
  TBaudRate BaudRate() const { return FBaudRate; }
  void SetBaudRate(TBaudRate Value);
  Integer CustomBaudRate() const { return FCustomBaudRate; }
  void SetCustomBaudRate(Integer Value);
  const String& Port() const { return FPort; }
  void SetPort(const String& Value);
  TComParity* Parity() const { return FParity; }
  void SetParity(TComParity* Value);
  TStopBits StopBits() const { return FStopBits; }
  void SetStopBits(TStopBits Value);
  TDataBits DataBits() const { return FDataBits; }
  void SetDataBits(TDataBits Value);
  Boolean DiscardNull() const { return FDiscardNull; }
  void SetDiscardNull(Boolean Value);
  AnsiChar EventChar() const { return FEventChar; }
  void SetEventChar(AnsiChar Value);
  TComEvents Events() const { return FEvents; }
  void SetEvents(TComEvents Value) { FEvents = Value; }
  TComBuffer* Buffer() const { return FBuffer; }
  void SetBuffer(TComBuffer* Value);
  TComFlowControl* FlowControl() const { return FFlowControl; }
  void SetFlowControl(TComFlowControl* Value);
  TComTimeouts* Timeouts() const { return FTimeouts; }
  void SetTimeouts(TComTimeouts* Value);
  TSyncMethod SyncMethod() const { return FSyncMethod; }
  void SetSyncMethod(TSyncMethod Value);
  TStoredProps StoredProps() const { return FStoredProps; }
  void SetStoredProps(TStoredProps Value) { FStoredProps = Value; }
  TThreadPriority EventThreadPriority() const { return FEventThreadPriority; }
  void SetEventThreadPriority(TThreadPriority Value);
  Boolean TriggersOnRxChar() const;
  void SetTriggersOnRxChar(Boolean Value);
  Boolean Overlapped() const { return FOverlapped; }
  void SetOverlapped(Boolean Value);
  Boolean ReadAsyncExceptionsEnabled() const { return FReadAsyncExceptionsEnabled; }
  void SetReadAsyncExceptionsEnabled(Boolean Value) { FReadAsyncExceptionsEnabled = Value; }
  Integer ReadAsyncErrorCount() const { return FReadAsyncErrorCount; }
  Cardinal ReadAsyncLastError() const { return FReadAsyncLastError; }
  Integer SyncWriteErrors() const { return FSyncWriteErrors; }
  Boolean InputCountNotSupported() const { return FInputCountNotSupported; }
  void SetInputCountNotSupported(Boolean Value) { FInputCountNotSupported = Value; }
  win::HANDLE Handle() const { return FHandle; }

  // Events (each fired only when assigned).
  const TNotifyEvent& OnAfterOpen() const { return FOnAfterOpen; }
  void SetOnAfterOpen(const TNotifyEvent& Value) { FOnAfterOpen = Value; }
  const TNotifyEvent& OnAfterClose() const { return FOnAfterClose; }
  void SetOnAfterClose(const TNotifyEvent& Value) { FOnAfterClose = Value; }
  const TNotifyEvent& OnBeforeOpen() const { return FOnBeforeOpen; }
  void SetOnBeforeOpen(const TNotifyEvent& Value) { FOnBeforeOpen = Value; }
  const TNotifyEvent& OnBeforeClose() const { return FOnBeforeClose; }
  void SetOnBeforeClose(const TNotifyEvent& Value) { FOnBeforeClose = Value; }
  const TRxCharEvent& OnRxChar() const { return FOnRxChar; }
  void SetOnRxChar(const TRxCharEvent& Value) { FOnRxChar = Value; }
  const TRxBufEvent& OnRxBuf() const { return FOnRxBuf; }
  void SetOnRxBuf(const TRxBufEvent& Value) { FOnRxBuf = Value; }
  const TNotifyEvent& OnTxEmpty() const { return FOnTxEmpty; }
  void SetOnTxEmpty(const TNotifyEvent& Value) { FOnTxEmpty = Value; }
  const TNotifyEvent& OnBreak() const { return FOnBreak; }
  void SetOnBreak(const TNotifyEvent& Value) { FOnBreak = Value; }
  const TNotifyEvent& OnRing() const { return FOnRing; }
  void SetOnRing(const TNotifyEvent& Value) { FOnRing = Value; }
  const TComSignalEvent& OnCTSChange() const { return FOnCTSChange; }
  void SetOnCTSChange(const TComSignalEvent& Value) { FOnCTSChange = Value; }
  const TComSignalEvent& OnDSRChange() const { return FOnDSRChange; }
  void SetOnDSRChange(const TComSignalEvent& Value) { FOnDSRChange = Value; }
  const TComSignalEvent& OnRLSDChange() const { return FOnRLSDChange; }
  void SetOnRLSDChange(const TComSignalEvent& Value) { FOnRLSDChange = Value; }
  const TComErrorEvent& OnError() const { return FOnError; }
  void SetOnError(const TComErrorEvent& Value) { FOnError = Value; }
  const TNotifyEvent& OnRxFlag() const { return FOnRxFlag; }
  void SetOnRxFlag(const TNotifyEvent& Value) { FOnRxFlag = Value; }
  const TNotifyEvent& OnRx80Full() const { return FOnRx80Full; }
  void SetOnRx80Full(const TNotifyEvent& Value) { FOnRx80Full = Value; }

 protected:
  void Loaded() override;
  virtual void WriteSettingsToRegistry(TRegistry* Reg);
  virtual void WriteSettingsToIni(TCustomIniFile* Ini);
  virtual void ReadSettingsFromRegistry(TRegistry* Reg);
  virtual void ReadSettingsFromIni(TCustomIniFile* Ini);
  virtual void OpenPortHandle();
  virtual void ClosePortHandle();
  virtual void ApplyAllSettings();

  virtual void DoAfterClose();
  virtual void DoAfterOpen();
  virtual void DoBeforeClose();
  virtual void DoBeforeOpen();
  virtual void DoRxChar(Integer Count);
  virtual void DoRxBuf(const void* Buffer, Integer Count);
  virtual void DoTxEmpty();
  virtual void DoBreak();
  virtual void DoRing();
  virtual void DoRxFlag();
  virtual void DoCTSChange(Boolean OnOff);
  virtual void DoDSRChange(Boolean OnOff);
  virtual void DoError(TComErrors Errors);
  virtual void DoRLSDChange(Boolean OnOff);
  virtual void DoRx80Full();
  // Each applies its part of the settings to an open port, unless an update
  // is under way or the component is being designed or loaded.
  virtual void ApplyLineSettings();
  virtual void ApplyTimeoutSettings();
  virtual void ApplyBufferSizes();

 private:
  friend class TComThread;
  friend class TComParity;
  friend class TComFlowControl;
  friend class TComTimeouts;
  friend class TComBuffer;
  Boolean CanApply() const;
  [[noreturn]] void RaiseWin(Integer Code);
  void NotifyLinksSignal(TComLinkEvent Kind, Boolean OnOff);
  void NotifyLinksEvent(TComLinkEvent Kind);
  void NotifyLinksTxBuf(const void* Buffer, Integer Count);
  void ReportSignals(Boolean OnOff);
  void NotifyCTSChange();
  void NotifyDSRChange();
  void NotifyRLSDChange();
  void NotifyError();
  void NotifyRing();
  void NotifyRx80Full();
  void NotifyRxChar();
  void NotifyRxFlag();
  void NotifyTxEmpty();
  void NotifyBreak();
  void UpdateRxBufLinks();
  void PortWindowProc(TMessage& Msg);

  Boolean FConnected{};
  TBaudRate FBaudRate{};
  Integer FCustomBaudRate{};
  String FPort;
  TStopBits FStopBits{};
  TDataBits FDataBits{};
  Boolean FDiscardNull{};
  AnsiChar FEventChar{};
  TComEvents FEvents;
  TComParity* FParity{};
  TComFlowControl* FFlowControl{};
  TComTimeouts* FTimeouts{};
  TComBuffer* FBuffer{};
  TSyncMethod FSyncMethod{};
  TStoredProps FStoredProps;
  TThreadPriority FEventThreadPriority{};
  Boolean FTriggersOnRxChar{};
  Boolean FOverlapped{};
  Boolean FReadAsyncExceptionsEnabled{};
  Integer FReadAsyncErrorCount{};
  Cardinal FReadAsyncLastError{};
  Integer FSyncWriteErrors{};
  Boolean FInputCountNotSupported{};
  win::HANDLE FHandle{};
  Integer FUpdateCount{};
  std::vector<TComLink*> FLinks;
  Boolean FHasLink{};
  TComThread* FEventThread{};
  win::HWND FWindow{};
  Boolean FThreadCreated{};
  PAsync FReadAsync{};
  PAsync FWriteAsync{};
  TNotifyEvent FOnAfterOpen;
  TNotifyEvent FOnAfterClose;
  TNotifyEvent FOnBeforeOpen;
  TNotifyEvent FOnBeforeClose;
  TRxCharEvent FOnRxChar;
  TRxBufEvent FOnRxBuf;
  TNotifyEvent FOnTxEmpty;
  TNotifyEvent FOnBreak;
  TNotifyEvent FOnRing;
  TComSignalEvent FOnCTSChange;
  TComSignalEvent FOnDSRChange;
  TComSignalEvent FOnRLSDChange;
  TComErrorEvent FOnError;
  TNotifyEvent FOnRxFlag;
  TNotifyEvent FOnRx80Full;
};

// The component as placed on a form; its properties are published.
class TComPort : public TCustomComPort {
  CL_CLASS(TComPort, TCustomComPort)
};

// Fills Strings with the port names the system lists, sorted as text
// without regard to case.
void GetSerialPortNames(TStrings* Strings);

// The fixed texts of the settings (text to value ignores case; an unknown
// text gives the table's fallback).
String BaudRateText(TBaudRate Value);
String StopBitsText(TStopBits Value);
String DataBitsText(TDataBits Value);
String ParityText(TParityBits Value);
String FlowControlText(TFlowControl Value);
String DTRControlText(TDTRFlowControl Value);
String RTSControlText(TRTSFlowControl Value);
TBaudRate BaudRateFromText(const String& Text);
TStopBits StopBitsFromText(const String& Text);
TDataBits DataBitsFromText(const String& Text);
TParityBits ParityFromText(const String& Text);
TFlowControl FlowControlFromText(const String& Text);
TDTRFlowControl DTRControlFromText(const String& Text);
TRTSFlowControl RTSControlFromText(const String& Text);
// "Yes"/"No"; true exactly for "YES" in any case.
String BoolText(Boolean Value);
Boolean BoolFromText(const String& Text);
// A character 33..127 as itself, any other as "#" + its code; back: "" is
// #0, "#" + number (longer than "#") the code (#0 when no number), else the
// first character.
String CharText(AnsiChar Value);
AnsiChar CharFromText(const String& Text);
