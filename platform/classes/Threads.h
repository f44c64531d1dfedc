// Threads: TThread, synchronized calls to the main thread, and the main
// thread's service of them.
//
// A worker's Synchronize puts the call on the process's synchronization list,
// wakes the main thread through the WakeMainThread hook and waits until the
// main thread has run it in CheckSynchronize; an exception raised by the call
// is carried back and raised again in the worker. The main thread serves the
// list in its message loop (CheckSynchronize) and also while it waits for a
// thread in TThread::WaitFor or in freeing a thread, so a worker blocked in
// Synchronize never deadlocks a main thread that waits for it.
//
// Linux cannot suspend a running thread: a thread created suspended does not
// start until Start or Resume, and Suspend of a running thread raises EThread.
#pragma once

#include <atomic>
#include <functional>
#include <memory>

#include "platform/classes/Delegates.h"
#include "platform/classes/ObjectModel.h"
#include "platform/classes/WinHandles.h"

enum TThreadPriority { tpIdle, tpLowest, tpLower, tpNormal, tpHigher, tpHighest, tpTimeCritical };

using TThreadMethod = TDelegate<void()>;
using TThreadProcedure = std::function<void()>;

// The main thread: the process's initial thread.
extern const Cardinal MainThreadID;
bool IsMainThread();

// Called by a worker after it queued a synchronized call, with the worker's
// TThread (or nil) as Sender; the message loop sets it to wake itself.
extern TNotifyEvent WakeMainThread;

// Runs the queued synchronized calls on the main thread, waiting up to Timeout
// milliseconds for one to arrive; answers whether any ran. Raises EThread
// when called from another thread.
bool CheckSynchronize(Integer Timeout = 0);

namespace threads_detail {
struct TThreadState;
}

class TThread : public TObject {
  CL_CLASS(TThread, TObject)
 public:
  // CreateSuspended: the thread starts on Start/Resume instead of right after
  // construction (AfterConstruction).
  void Create(Boolean CreateSuspended);
  void AfterConstruction() override;
  // Terminates the thread and waits for it when it runs (serving synchronized
  // calls on the main thread); a thread never started is not started.
  void Destroy() override;

  // Starts a thread created suspended; EThread when it runs or ran.
  void Start();
  // Starts a thread created suspended; nothing for a running thread.
  void Resume();
  // Nothing for a thread not yet started; EThread for a running thread.
  void Suspend();
  void Terminate();
  // Waits for the thread to end and answers ReturnValue. On the main thread
  // the synchronized calls are served while waiting. EThread when a thread
  // waits for itself.
  Cardinal WaitFor();

  // Runs Method (or Proc) on the main thread and waits for it; on the main
  // thread it runs at once. AThread may be nil.
  static void Synchronize(TThread* AThread, const TThreadMethod& Method);
  static void Synchronize(TThread* AThread, const TThreadProcedure& Proc);
  // Runs it on the main thread later without waiting; at once on the main thread.
  static void Queue(TThread* AThread, const TThreadMethod& Method);
  static void Queue(TThread* AThread, const TThreadProcedure& Proc);
  // Drops the queued calls of AThread that have not run yet.
  static void RemoveQueuedEvents(TThread* AThread);
  // The TThread running the calling thread, or nil.
  static TThread* CurrentThread();

  Boolean FreeOnTerminate() const { return FFreeOnTerminate.load(); }
  void SetFreeOnTerminate(Boolean Value) { FFreeOnTerminate.store(Value); }
  // Stored; applied to the running thread as far as the system allows
  // (lowering a thread's priority may not be undone without privileges).
  TThreadPriority Priority() const { return FPriority; }
  void SetPriority(TThreadPriority Value);
  Boolean Suspended() const { return FSuspended.load(); }
  void SetSuspended(Boolean Value);
  Boolean Started() const { return FStarted.load(); }
  Boolean Finished() const { return FFinished.load(); }
  Boolean Terminated() const { return FTerminated.load(); }
  // A waitable handle, signalled when the thread has ended.
  win::HANDLE Handle() const { return FHandle; }
  // The kernel thread id; 0 until the thread has started.
  Cardinal ThreadID() const { return FThreadID.load(); }
  Integer ReturnValue() const { return FReturnValue; }
  // The exception that ended Execute, or nil.
  const Exception* FatalException() const { return FFatalException.get(); }

  const TNotifyEvent& OnTerminate() const { return FOnTerminate; }
  void SetOnTerminate(const TNotifyEvent& Value) { FOnTerminate = Value; }

 protected:
  // The thread's work; abstract.
  virtual void Execute();
  // Runs after Execute in the thread: calls OnTerminate on the main thread.
  virtual void DoTerminate();

  void Synchronize(const TThreadMethod& Method) { Synchronize(this, Method); }
  void Synchronize(const TThreadProcedure& Proc) { Synchronize(this, Proc); }
  void Queue(const TThreadMethod& Method) { Queue(this, Method); }
  void Queue(const TThreadProcedure& Proc) { Queue(this, Proc); }
  void SetReturnValue(Integer Value) { FReturnValue = Value; }

 private:
  friend struct threads_detail::TThreadState;
  void CallOnTerminate();
  void StartThread();
  void ApplyPriority();

  win::HANDLE FHandle{};
  std::atomic<Cardinal> FThreadID{};
  std::atomic<Boolean> FCreateSuspended{};
  std::atomic<Boolean> FSuspended{};
  std::atomic<Boolean> FStarted{};
  std::atomic<Boolean> FFinished{};
  std::atomic<Boolean> FTerminated{};
  std::atomic<Boolean> FFreeOnTerminate{};
  TThreadPriority FPriority{};
  Integer FReturnValue{};
  std::unique_ptr<Exception> FFatalException;
  TNotifyEvent FOnTerminate;
  threads_detail::TThreadState* FState{};
};
