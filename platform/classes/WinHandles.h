// Kernel objects, handles, events and waits of the Win32-shaped API.
//
// These names belong to namespace win, whose functions live in platform/win;
// they are declared here because the class framework (threads, TEvent) stands
// on them and sits below platform/win. platform/win includes this header and
// never redeclares its names. The base types and error codes shared by every
// part of namespace win start here too.
//
// A HANDLE points to a waitable kernel object (TKernelObject). The handles
// this layer made are kept in a table, so a closed or foreign handle gives
// ERROR_INVALID_HANDLE instead of touching freed memory. A later layer adds
// its own waitable kinds (the serial port's) by deriving from TKernelObject
// and registering the object with RegisterHandle.
#pragma once

#include "platform/rtl/Types.h"

namespace win {

using DWORD = uint32_t;
using LONG = int32_t;
using ULONG = uint32_t;
using UINT = uint32_t;
using BOOL = ::BOOL;
using BYTE = uint8_t;
using WORD = uint16_t;
using WCHAR = char16_t;
using LPCWSTR = const WCHAR*;
using LPWSTR = WCHAR*;
using LPBYTE = BYTE*;
using LPDWORD = DWORD*;
using ULONG_PTR = uintptr_t;
using HANDLE = void*;
using LPHANDLE = HANDLE*;

struct SECURITY_ATTRIBUTES;
using LPSECURITY_ATTRIBUTES = SECURITY_ATTRIBUTES*;

inline const HANDLE INVALID_HANDLE_VALUE = reinterpret_cast<HANDLE>(~uintptr_t(0));

constexpr DWORD INFINITE = 0xFFFFFFFFu;
constexpr DWORD MAXIMUM_WAIT_OBJECTS = 64;
constexpr DWORD WAIT_OBJECT_0 = 0x00000000u;
constexpr DWORD WAIT_ABANDONED_0 = 0x00000080u;
constexpr DWORD WAIT_ABANDONED = WAIT_ABANDONED_0;
constexpr DWORD WAIT_TIMEOUT = 0x00000102u;
constexpr DWORD WAIT_FAILED = 0xFFFFFFFFu;

// System error codes (GetLastError, and the results of the registry functions).
constexpr DWORD ERROR_SUCCESS = 0;
constexpr DWORD ERROR_INVALID_FUNCTION = 1;
constexpr DWORD ERROR_FILE_NOT_FOUND = 2;
constexpr DWORD ERROR_PATH_NOT_FOUND = 3;
constexpr DWORD ERROR_ACCESS_DENIED = 5;
constexpr DWORD ERROR_INVALID_HANDLE = 6;
constexpr DWORD ERROR_NOT_ENOUGH_MEMORY = 8;
constexpr DWORD ERROR_OUTOFMEMORY = 14;
constexpr DWORD ERROR_WRITE_FAULT = 29;
constexpr DWORD ERROR_READ_FAULT = 30;
constexpr DWORD ERROR_NOT_SUPPORTED = 50;
constexpr DWORD ERROR_INVALID_PARAMETER = 87;
constexpr DWORD ERROR_INSUFFICIENT_BUFFER = 122;
constexpr DWORD ERROR_MORE_DATA = 234;
constexpr DWORD ERROR_NO_MORE_ITEMS = 259;
constexpr DWORD ERROR_BADDB = 1009;
constexpr DWORD ERROR_BADKEY = 1010;
constexpr DWORD ERROR_CANTOPEN = 1011;
constexpr DWORD ERROR_CANTREAD = 1012;
constexpr DWORD ERROR_CANTWRITE = 1013;
constexpr DWORD ERROR_KEY_DELETED = 1018;

// The calling thread's last error.
DWORD GetLastError();
void SetLastError(DWORD dwErrCode);

// The calling thread's identifier (the kernel thread id; the main thread's is
// the process id).
DWORD GetCurrentThreadId();

// A waitable kernel object. Its state is read and changed under the one wait
// lock of the process (TWaitLock); after a change that may satisfy a wait, the
// changer calls StateChanged. Objects are counted: every handle and every wait
// in progress holds a reference, so closing a handle while another thread
// waits on it is safe.
class TKernelObject {
 public:
  TKernelObject() = default;
  TKernelObject(const TKernelObject&) = delete;
  TKernelObject& operator=(const TKernelObject&) = delete;
  virtual ~TKernelObject() = default;

  // Under the wait lock: whether a wait on the object is satisfied now.
  virtual bool IsSignaled() const = 0;
  // Under the wait lock: a satisfied wait takes the signal (an auto-reset
  // event clears itself). The default does nothing.
  virtual void Acquire() {}
  // Called once, without the wait lock, when the last handle is closed (before
  // running waits let go of the object). The default does nothing.
  virtual void Closed() {}

  void AddRef();
  // Drops a reference; deletes the object at zero.
  void Release();

  // Wakes every waiting thread to examine its objects again.
  static void StateChanged();

 private:
  friend struct TKernelAccess;
  Cardinal FRefCount = 0;
};

// Holds the process's wait lock for its lifetime.
class TWaitLock {
 public:
  TWaitLock();
  ~TWaitLock();
  TWaitLock(const TWaitLock&) = delete;
  TWaitLock& operator=(const TWaitLock&) = delete;
};

// Enters a new object into the handle table and answers its handle (the
// table holds one reference until CloseHandle).
HANDLE RegisterHandle(TKernelObject* Obj);
// The object of a live handle with one reference added for the caller (who
// calls Release), or nil for a closed or unknown handle.
TKernelObject* ReferenceHandle(HANDLE h);

BOOL CloseHandle(HANDLE hObject);

// Events. The name is accepted and ignored: events are never shared by name.
HANDLE CreateEventW(LPSECURITY_ATTRIBUTES lpEventAttributes, BOOL bManualReset, BOOL bInitialState,
                    LPCWSTR lpName);
inline HANDLE CreateEvent(LPSECURITY_ATTRIBUTES lpEventAttributes, BOOL bManualReset, BOOL bInitialState,
                          LPCWSTR lpName) {
  return CreateEventW(lpEventAttributes, bManualReset, bInitialState, lpName);
}
BOOL SetEvent(HANDLE hEvent);
BOOL ResetEvent(HANDLE hEvent);

// Waits. WaitForMultipleObjects answers WAIT_OBJECT_0 + i for the lowest
// signalled index (any), WAIT_OBJECT_0 when all were signalled at once (all),
// WAIT_TIMEOUT, or WAIT_FAILED with the last error set (no or too many
// handles, a handle given twice to a wait for all, an invalid handle).
DWORD WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds);
DWORD WaitForMultipleObjects(DWORD nCount, const HANDLE* lpHandles, BOOL bWaitAll, DWORD dwMilliseconds);

}  // namespace win
