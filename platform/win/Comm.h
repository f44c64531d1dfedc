// Serial communications of the Win32-shaped API on Linux serial devices.
//
// CreateFileW opens "COMn" or "\\.\COMn" (the only names it knows): the name
// goes through the port table (SerialPortTable) to a device path, which is
// opened in raw mode, exclusively (TIOCEXCL and an flock, so a second open of
// the same device, from this process or another, fails with
// ERROR_ACCESS_DENIED). The HANDLE is a waitable kernel object of
// platform/classes/WinHandles.h, closed by CloseHandle.
//
// Each open port has a worker thread that moves received bytes from the
// device into the port's own input queue (at most the SetupComm input size;
// beyond that the bytes wait in the kernel, where flow control applies),
// finishes pending overlapped reads, writes and WaitCommEvent calls, and
// records the communication events. Every transfer is overlapped inside: a
// port opened without FILE_FLAG_OVERLAPPED runs the same operation and waits
// for it.
//
// What Linux cannot express (the rules of this layer):
// - Speeds: the termios speeds directly; any other positive speed (14400,
//   56000, 128000, 256000, custom) through termios2/BOTHER; a device that
//   refuses it fails SetCommState with ERROR_INVALID_PARAMETER.
// - 1.5 stop bits exist only with 5 data bits (as on the platform); 2 stop
//   bits with 5 data bits, 1.5 with 6 to 8, a ByteSize outside 5..8, a
//   Parity above 4 or StopBits above 2 fail with ERROR_INVALID_PARAMETER.
// - Flow control: CTS output flow and RTS handshake are CRTSCTS (Linux ties
//   both directions, so either one turns on both); fOutX/fInX are IXON/IXOFF
//   with XonChar/XoffChar. DSR output flow, DTR handshake, DSR sensitivity
//   and RTS toggle have no equivalent: SetCommState refuses them with
//   ERROR_INVALID_PARAMETER rather than run without the handshake asked for.
//   XonLim/XoffLim and fTXContinueOnXoff are kept but the kernel uses its own
//   thresholds. fNull drops received NUL bytes. With fParity, bytes with a
//   parity or framing error arrive as NUL (the kernel's marking); ErrorChar
//   is kept but not substituted. EofChar is kept and ignored (binary mode
//   only).
// - Errors (ClearCommError CE_*, EV_ERR, EV_BREAK) come from the device's
//   error counters (TIOCGICOUNT) where the driver keeps them (the port's
//   own queue never overflows: bytes beyond it wait in the kernel). A
//   device that hangs up (a removed adapter, the other end of a
//   pseudo-terminal closed) fails every later transfer, and ClearCommError
//   once nothing is left to read, with ERROR_GEN_FAILURE.
// - Modem lines: a pseudo-terminal has none: EscapeCommFunction SETDTR,
//   CLRDTR, SETRTS, CLRRTS, SETBREAK and CLRBREAK succeed without effect,
//   GetCommModemStatus reads every line off, and no EV_CTS/DSR/RLSD/RING
//   event ever comes. On a real device, line changes are found by reading
//   the lines every 10 ms while a WaitCommEvent for them is pending.
// - COMSTAT's hold flags are always clear.
// - CancelIo cancels every pending transfer of the handle, whichever thread
//   started it.
#pragma once

#include <vector>

#include "platform/classes/WinHandles.h"

namespace win {

constexpr DWORD ERROR_GEN_FAILURE = 31;
constexpr DWORD ERROR_SEM_TIMEOUT = 121;
constexpr DWORD ERROR_OPERATION_ABORTED = 995;
constexpr DWORD ERROR_IO_INCOMPLETE = 996;
constexpr DWORD ERROR_IO_PENDING = 997;

constexpr DWORD GENERIC_READ = 0x80000000u;
constexpr DWORD GENERIC_WRITE = 0x40000000u;
constexpr DWORD CREATE_NEW = 1;
constexpr DWORD CREATE_ALWAYS = 2;
constexpr DWORD OPEN_EXISTING = 3;
constexpr DWORD OPEN_ALWAYS = 4;
constexpr DWORD TRUNCATE_EXISTING = 5;
constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x00000080u;
constexpr DWORD FILE_FLAG_OVERLAPPED = 0x40000000u;

struct OVERLAPPED {
  ULONG_PTR Internal{};      // the status: STATUS_PENDING while pending, else a system error code
  ULONG_PTR InternalHigh{};  // bytes transferred
  DWORD Offset{};
  DWORD OffsetHigh{};
  HANDLE hEvent{};
};
using LPOVERLAPPED = OVERLAPPED*;
constexpr ULONG_PTR STATUS_PENDING = 0x00000103u;

// The platform's 28-byte device control block, bit fields in its order.
struct DCB {
  DWORD DCBlength{};
  DWORD BaudRate{};
  DWORD fBinary : 1 {};
  DWORD fParity : 1 {};
  DWORD fOutxCtsFlow : 1 {};
  DWORD fOutxDsrFlow : 1 {};
  DWORD fDtrControl : 2 {};
  DWORD fDsrSensitivity : 1 {};
  DWORD fTXContinueOnXoff : 1 {};
  DWORD fOutX : 1 {};
  DWORD fInX : 1 {};
  DWORD fErrorChar : 1 {};
  DWORD fNull : 1 {};
  DWORD fRtsControl : 2 {};
  DWORD fAbortOnError : 1 {};
  DWORD fDummy2 : 17 {};
  WORD wReserved{};
  WORD XonLim{};
  WORD XoffLim{};
  BYTE ByteSize{};
  BYTE Parity{};
  BYTE StopBits{};
  char XonChar{};
  char XoffChar{};
  char ErrorChar{};
  char EofChar{};
  char EvtChar{};
  WORD wReserved1{};
};
using LPDCB = DCB*;
static_assert(sizeof(DCB) == 28, "DCB keeps the platform's layout");

constexpr DWORD CBR_110 = 110, CBR_300 = 300, CBR_600 = 600, CBR_1200 = 1200, CBR_2400 = 2400,
                CBR_4800 = 4800, CBR_9600 = 9600, CBR_14400 = 14400, CBR_19200 = 19200, CBR_38400 = 38400,
                CBR_56000 = 56000, CBR_57600 = 57600, CBR_115200 = 115200, CBR_128000 = 128000,
                CBR_256000 = 256000;

constexpr BYTE NOPARITY = 0, ODDPARITY = 1, EVENPARITY = 2, MARKPARITY = 3, SPACEPARITY = 4;
constexpr BYTE ONESTOPBIT = 0, ONE5STOPBITS = 1, TWOSTOPBITS = 2;
constexpr DWORD DTR_CONTROL_DISABLE = 0, DTR_CONTROL_ENABLE = 1, DTR_CONTROL_HANDSHAKE = 2;
constexpr DWORD RTS_CONTROL_DISABLE = 0, RTS_CONTROL_ENABLE = 1, RTS_CONTROL_HANDSHAKE = 2,
                RTS_CONTROL_TOGGLE = 3;

struct COMMTIMEOUTS {
  DWORD ReadIntervalTimeout{};
  DWORD ReadTotalTimeoutMultiplier{};
  DWORD ReadTotalTimeoutConstant{};
  DWORD WriteTotalTimeoutMultiplier{};
  DWORD WriteTotalTimeoutConstant{};
};
using LPCOMMTIMEOUTS = COMMTIMEOUTS*;
constexpr DWORD MAXDWORD = 0xFFFFFFFFu;

struct COMSTAT {
  DWORD fCtsHold : 1 {};
  DWORD fDsrHold : 1 {};
  DWORD fRlsdHold : 1 {};
  DWORD fXoffHold : 1 {};
  DWORD fXoffSent : 1 {};
  DWORD fEof : 1 {};
  DWORD fTxim : 1 {};
  DWORD fReserved : 25 {};
  DWORD cbInQue{};
  DWORD cbOutQue{};
};
using LPCOMSTAT = COMSTAT*;

// ClearCommError errors.
constexpr DWORD CE_RXOVER = 0x0001;
constexpr DWORD CE_OVERRUN = 0x0002;
constexpr DWORD CE_RXPARITY = 0x0004;
constexpr DWORD CE_FRAME = 0x0008;
constexpr DWORD CE_BREAK = 0x0010;
constexpr DWORD CE_TXFULL = 0x0100;
constexpr DWORD CE_IOE = 0x0400;
constexpr DWORD CE_MODE = 0x8000;

// GetCommModemStatus.
constexpr DWORD MS_CTS_ON = 0x0010;
constexpr DWORD MS_DSR_ON = 0x0020;
constexpr DWORD MS_RING_ON = 0x0040;
constexpr DWORD MS_RLSD_ON = 0x0080;

// EscapeCommFunction.
constexpr DWORD SETXOFF = 1;
constexpr DWORD SETXON = 2;
constexpr DWORD SETRTS = 3;
constexpr DWORD CLRRTS = 4;
constexpr DWORD SETDTR = 5;
constexpr DWORD CLRDTR = 6;
constexpr DWORD SETBREAK = 8;
constexpr DWORD CLRBREAK = 9;

// PurgeComm.
constexpr DWORD PURGE_TXABORT = 0x0001;
constexpr DWORD PURGE_RXABORT = 0x0002;
constexpr DWORD PURGE_TXCLEAR = 0x0004;
constexpr DWORD PURGE_RXCLEAR = 0x0008;

// Communication events.
constexpr DWORD EV_RXCHAR = 0x0001;
constexpr DWORD EV_RXFLAG = 0x0002;
constexpr DWORD EV_TXEMPTY = 0x0004;
constexpr DWORD EV_CTS = 0x0008;
constexpr DWORD EV_DSR = 0x0010;
constexpr DWORD EV_RLSD = 0x0020;
constexpr DWORD EV_BREAK = 0x0040;
constexpr DWORD EV_ERR = 0x0080;
constexpr DWORD EV_RING = 0x0100;
constexpr DWORD EV_RX80FULL = 0x0400;

HANDLE CreateFileW(LPCWSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode,
                   LPSECURITY_ATTRIBUTES lpSecurityAttributes, DWORD dwCreationDisposition,
                   DWORD dwFlagsAndAttributes, HANDLE hTemplateFile);
inline HANDLE CreateFile(LPCWSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode,
                         LPSECURITY_ATTRIBUTES lpSecurityAttributes, DWORD dwCreationDisposition,
                         DWORD dwFlagsAndAttributes, HANDLE hTemplateFile) {
  return CreateFileW(lpFileName, dwDesiredAccess, dwShareMode, lpSecurityAttributes, dwCreationDisposition,
                     dwFlagsAndAttributes, hTemplateFile);
}

BOOL ReadFile(HANDLE hFile, void* lpBuffer, DWORD nNumberOfBytesToRead, LPDWORD lpNumberOfBytesRead,
              LPOVERLAPPED lpOverlapped);
BOOL WriteFile(HANDLE hFile, const void* lpBuffer, DWORD nNumberOfBytesToWrite,
               LPDWORD lpNumberOfBytesWritten, LPOVERLAPPED lpOverlapped);
BOOL GetOverlappedResult(HANDLE hFile, LPOVERLAPPED lpOverlapped, LPDWORD lpNumberOfBytesTransferred,
                         BOOL bWait);
BOOL CancelIo(HANDLE hFile);

BOOL SetupComm(HANDLE hFile, DWORD dwInQueue, DWORD dwOutQueue);
BOOL GetCommState(HANDLE hFile, LPDCB lpDCB);
BOOL SetCommState(HANDLE hFile, LPDCB lpDCB);
BOOL GetCommTimeouts(HANDLE hFile, LPCOMMTIMEOUTS lpCommTimeouts);
BOOL SetCommTimeouts(HANDLE hFile, LPCOMMTIMEOUTS lpCommTimeouts);
BOOL ClearCommError(HANDLE hFile, LPDWORD lpErrors, LPCOMSTAT lpStat);
BOOL GetCommModemStatus(HANDLE hFile, LPDWORD lpModemStat);
BOOL EscapeCommFunction(HANDLE hFile, DWORD dwFunc);
BOOL PurgeComm(HANDLE hFile, DWORD dwFlags);
BOOL TransmitCommChar(HANDLE hFile, char cChar);
BOOL SetCommMask(HANDLE hFile, DWORD dwEvtMask);
BOOL GetCommMask(HANDLE hFile, LPDWORD lpEvtMask);
BOOL WaitCommEvent(HANDLE hFile, LPDWORD lpEvtMask, LPOVERLAPPED lpOverlapped);

// --- Extensions of this layer -----------------------------------------------------

// One entry of the port table: a port name ("COM3") and its device path.
struct TSerialPortEntry {
  String Name;
  std::string Device;
};

// The port table. When the settings file exists (the file named by the
// environment variable CL_PORTS_FILE, else $XDG_CONFIG_HOME/cardloader/ports.ini,
// else ~/.config/cardloader/ports.ini), it alone is the table: one "COMn=path"
// per line (names without regard to case; blank lines, lines starting with
// ";" or "#" and "[section]" lines are skipped). Otherwise the serial devices
// under /sys/class/tty are numbered COM1, COM2 ... in this order: ttyS with a
// real UART (its "type" is not 0), then ttyUSB, ttyACM and ttyAMA, each kind
// by its number. The table is read again on every call.
std::vector<TSerialPortEntry> SerialPortTable();
// The default numbering of the serial devices listed in SysClassTty (a folder
// laid out as /sys/class/tty).
std::vector<TSerialPortEntry> ScanSerialDevices(const std::string& SysClassTty);
// The settings file in use (whether it exists or not).
std::string SerialPortsFile();
// The device path of a port name ("COM3", "\\.\COM3"), or empty.
std::string SerialPortDevice(const String& PortName);

// Makes HKEY_LOCAL_MACHINE\HARDWARE\DEVICEMAP\SERIALCOMM answer the port
// table (value name the device path, data the port name). The unit "Comm"
// does this in its start-up step; tests may call it themselves.
void RegisterSerialCommProvider();
void UnregisterSerialCommProvider();

}  // namespace win
