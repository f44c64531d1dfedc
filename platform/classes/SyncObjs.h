// Synchronization objects: events over the kernel objects of WinHandles.h and
// critical sections.
#pragma once

#include <atomic>
#include <mutex>

#include "platform/classes/ObjectModel.h"
#include "platform/classes/WinHandles.h"

enum TWaitResult { wrSignaled, wrTimeout, wrAbandoned, wrError, wrIOCompletion };

class TSynchroObject : public TObject {
  CL_CLASS(TSynchroObject, TObject)
 public:
  virtual void Acquire();
  virtual void Release();
  virtual TWaitResult WaitFor(Cardinal Timeout = win::INFINITE);
};

// A synchronization object with a kernel handle, closed by Destroy.
class THandleObject : public TSynchroObject {
  CL_CLASS(THandleObject, TSynchroObject)
 public:
  void Destroy() override;
  TWaitResult WaitFor(Cardinal Timeout = win::INFINITE) override;

  win::HANDLE Handle() const { return FHandle; }
  // The system error of the last wait that failed.
  Integer LastError() const { return FLastError; }

 protected:
  win::HANDLE FHandle{};
  Integer FLastError{};
};

// An event with manual or automatic reset. Create() makes a manual-reset
// event that starts clear. A failure to create raises EOSError.
class TEvent : public THandleObject {
  CL_CLASS(TEvent, THandleObject)
 public:
  void Create(win::LPSECURITY_ATTRIBUTES EventAttributes, Boolean ManualReset, Boolean InitialState,
              const String& Name, Boolean UseCOMWait = false);
  void Create(Boolean UseCOMWait = false);

  void SetEvent();
  void ResetEvent();
};

// A manual-reset event that starts clear.
class TSimpleEvent : public TEvent {
  CL_CLASS(TSimpleEvent, TEvent)
};

// A critical section; the owning thread may enter it again (each Enter needs
// its Leave), as on the platform. Leaving a section that the calling thread
// does not hold raises EInvalidOperation instead of corrupting the lock.
class TCriticalSection : public TSynchroObject {
  CL_CLASS(TCriticalSection, TSynchroObject)
 public:
  void Acquire() override;
  void Release() override;
  void Enter() { Acquire(); }
  void Leave() { Release(); }
  Boolean TryEnter();

 private:
  std::recursive_mutex FSection;
  std::atomic<Cardinal> FOwner{};
  Integer FDepth{};
};
