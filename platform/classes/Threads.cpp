#include "platform/classes/Threads.h"

#include <sys/resource.h>
#include <unistd.h>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <system_error>
#include <thread>

#include "platform/rtl/CodePages.h"

CL_IMPLEMENT_CLASS(TThread)

const Cardinal MainThreadID = static_cast<Cardinal>(::getpid());

TNotifyEvent WakeMainThread;

bool IsMainThread() { return win::GetCurrentThreadId() == static_cast<win::DWORD>(::getpid()); }

namespace threads_detail {

// The OS thread of a TThread and the handshake that starts it.
struct TThreadState {
  std::mutex Lock;
  std::condition_variable Changed;
  std::thread Thread;
  bool Launched = false;  // Thread holds the running thread
  bool Running = false;   // the thread has published its id

  static void Run(TThread* T, TThreadState* S);
};

}  // namespace threads_detail

namespace {

using threads_detail::TThreadState;

thread_local TThread* tCurrentThread = nullptr;

// One call handed to the main thread.
struct TSyncRequest {
  TThread* Thread = nullptr;
  TThreadMethod Method;
  TThreadProcedure Proc;
  bool Queued = false;
  bool Done = false;
  std::unique_ptr<Exception> Error;  // an Exception raised by the call
  std::exception_ptr Foreign;        // anything else raised by it

  void Run() const {
    if (Method.Assigned())
      Method();
    else if (Proc)
      Proc();
  }
};
using TSyncRequestPtr = std::shared_ptr<TSyncRequest>;

// The process's synchronization list. Never destroyed: workers may still
// synchronize while static objects are destroyed at exit.
struct TSyncList {
  std::mutex Lock;
  std::condition_variable Done;
  std::deque<TSyncRequestPtr> Requests;
  win::HANDLE Event = win::CreateEventW(nullptr, 1, 0, nullptr);  // set while Requests is not empty
};

TSyncList& Sync() {
  static auto* list = new TSyncList;
  return *list;
}

void Post(const TSyncRequestPtr& Req) {
  TSyncList& s = Sync();
  {
    std::lock_guard<std::mutex> g(s.Lock);
    s.Requests.push_back(Req);
    win::SetEvent(s.Event);
  }
  if (WakeMainThread.Assigned()) WakeMainThread(Req->Thread);
}

void RunSynchronized(const TSyncRequestPtr& Req) {
  if (IsMainThread()) {
    Req->Run();
    return;
  }
  Post(Req);
  TSyncList& s = Sync();
  std::unique_lock<std::mutex> g(s.Lock);
  s.Done.wait(g, [&] { return Req->Done; });
  g.unlock();
  if (Req->Error) Req->Error->Raise();
  if (Req->Foreign) std::rethrow_exception(Req->Foreign);
}

void RunQueued(const TSyncRequestPtr& Req) {
  Req->Queued = true;
  if (IsMainThread())
    Req->Run();
  else
    Post(Req);
}

String ThreadIdText(Cardinal Id) {
  static const char digits[] = "0123456789ABCDEF";
  String s;
  do {
    s.insert(s.begin(), Char(digits[Id & 15]));
    Id >>= 4;
  } while (Id);
  return s;
}

// Keeps what escaped Execute: an Exception as it was, anything else as an
// Exception with its text.
std::unique_ptr<Exception> CurrentExceptionCopy() {
  try {
    throw;
  } catch (const Exception& E) {
    return E.Clone();
  } catch (const std::exception& E) {
    return std::make_unique<Exception>(UTF8ToUTF16(E.what()));
  } catch (...) {
    return std::make_unique<Exception>(u"Unknown exception in thread");
  }
}

int NiceOf(TThreadPriority P) {
  static const int nice[] = {19, 10, 5, 0, -5, -10, -15};
  return nice[P >= tpIdle && P <= tpTimeCritical ? P : tpNormal];
}

}  // namespace

bool CheckSynchronize(Integer Timeout) {
  if (!IsMainThread())
    throw EThread(u"CheckSynchronize called from thread $" + ThreadIdText(win::GetCurrentThreadId()) +
                  u", which is NOT the main thread");
  TSyncList& s = Sync();
  if (Timeout > 0) win::WaitForSingleObject(s.Event, static_cast<win::DWORD>(Timeout));
  std::deque<TSyncRequestPtr> local;
  {
    std::lock_guard<std::mutex> g(s.Lock);
    local.swap(s.Requests);
    win::ResetEvent(s.Event);
  }
  const bool any = !local.empty();
  while (!local.empty()) {
    TSyncRequestPtr req = std::move(local.front());
    local.pop_front();
    if (req->Queued) {
      try {
        req->Run();
      } catch (...) {
        // A queued call has nobody to carry its exception back to: it goes on
        // to the main thread's caller, and the calls after it stay queued.
        std::lock_guard<std::mutex> g(s.Lock);
        s.Requests.insert(s.Requests.begin(), local.begin(), local.end());
        if (!s.Requests.empty()) win::SetEvent(s.Event);
        throw;
      }
      continue;
    }
    try {
      req->Run();
    } catch (const Exception& E) {
      req->Error = E.Clone();
    } catch (...) {
      req->Foreign = std::current_exception();
    }
    {
      std::lock_guard<std::mutex> g(s.Lock);
      req->Done = true;
    }
    s.Done.notify_all();
  }
  return any;
}

// --- TThread -------------------------------------------------------------------

void TThread::Create(Boolean CreateSuspended) {
  FCreateSuspended = CreateSuspended;
  FSuspended = CreateSuspended;
  FPriority = tpNormal;
  FHandle = win::CreateEventW(nullptr, 1, 0, nullptr);
  FState = new TThreadState;
}

void TThread::AfterConstruction() {
  inherited::AfterConstruction();
  // A thread resumed inside its own constructor is already running.
  if (!FCreateSuspended && !FStarted) StartThread();
}

void TThread::Destroy() {
  std::exception_ptr pending;  // raised by a queued call served while waiting
  if (FState && FStarted) {
    if (FState->Thread.get_id() == std::this_thread::get_id()) {
      // Freed inside its own thread (FreeOnTerminate): nobody joins it.
      FState->Thread.detach();
    } else {
      Terminate();
      // Wait without WaitFor's checks: a thread that frees itself is waited for too.
      if (IsMainThread()) {
        win::HANDLE hs[2] = {FHandle, Sync().Event};
        while (win::WaitForMultipleObjects(2, hs, 0, win::INFINITE) == win::WAIT_OBJECT_0 + 1) {
          try {
            CheckSynchronize(0);
          } catch (...) {
            if (!pending) pending = std::current_exception();
          }
        }
      } else {
        win::WaitForSingleObject(FHandle, win::INFINITE);
      }
      if (FState->Thread.joinable()) FState->Thread.join();
    }
  }
  RemoveQueuedEvents(this);
  if (FHandle) win::CloseHandle(FHandle);
  FHandle = nullptr;
  delete FState;
  FState = nullptr;
  FFatalException.reset();
  inherited::Destroy();
  // The thread is gone and its resources released before the exception goes on.
  if (pending) std::rethrow_exception(pending);
}

void TThread::StartThread() {
  std::unique_lock<std::mutex> g(FState->Lock);
  try {
    FState->Thread = std::thread(&TThreadState::Run, this, FState);
  } catch (const std::system_error& E) {
    throw EThread(u"Thread creation error: " + UTF8ToUTF16(E.what()));
  }
  FSuspended = false;
  FCreateSuspended = false;
  FStarted = true;
  FState->Launched = true;
  FState->Changed.notify_all();
  FState->Changed.wait(g, [this] { return FState->Running; });
}

void threads_detail::TThreadState::Run(TThread* T, TThreadState* S) {
  tCurrentThread = T;
  {
    std::unique_lock<std::mutex> g(S->Lock);
    T->FThreadID = win::GetCurrentThreadId();
    S->Running = true;
    S->Changed.notify_all();
    S->Changed.wait(g, [S] { return S->Launched; });
  }
  if (T->FPriority != tpNormal) T->ApplyPriority();
  if (!T->Terminated()) {
    try {
      T->Execute();
    } catch (...) {
      T->FFatalException = CurrentExceptionCopy();
    }
  }
  T->FFinished = true;
  try {
    T->DoTerminate();
  } catch (...) {
    if (!T->FFatalException) T->FFatalException = CurrentExceptionCopy();
  }
  // FreeOnTerminate is read only now, after OnTerminate ran on the main thread:
  // a main thread that cleared it before waiting keeps the object.
  const bool freeIt = T->FreeOnTerminate();
  win::HANDLE done = T->FHandle;
  win::SetEvent(done);  // after this a waiting thread may free T
  if (freeIt) Free(T);
}

void TThread::Start() {
  if (FStarted) throw EThread(u"Cannot call Start on a running or suspended thread");
  StartThread();
}

void TThread::Resume() {
  if (!FStarted) StartThread();
}

void TThread::Suspend() {
  if (!FStarted) {
    FSuspended = true;
    return;
  }
  if (!FFinished) throw EThread(u"Cannot suspend a running thread: the system does not support it");
}

void TThread::SetSuspended(Boolean Value) {
  if (Value)
    Suspend();
  else
    Resume();
}

void TThread::Terminate() { FTerminated = true; }

Cardinal TThread::WaitFor() {
  if (!FStarted) throw EThread(u"Cannot wait for a thread that has not been started");
  if (FThreadID.load() == win::GetCurrentThreadId()) throw EThread(u"A thread cannot wait for itself");
  if (FreeOnTerminate()) throw EThread(u"Cannot wait for a thread that frees itself (FreeOnTerminate)");
  if (IsMainThread()) {
    win::HANDLE hs[2] = {FHandle, Sync().Event};
    for (;;) {
      win::DWORD r = win::WaitForMultipleObjects(2, hs, 0, win::INFINITE);
      if (r == win::WAIT_OBJECT_0 + 1)
        CheckSynchronize(0);
      else
        break;
    }
  } else {
    win::WaitForSingleObject(FHandle, win::INFINITE);
  }
  return static_cast<Cardinal>(FReturnValue);
}

void TThread::SetPriority(TThreadPriority Value) {
  FPriority = Value;
  if (FStarted && !FFinished) ApplyPriority();
}

void TThread::ApplyPriority() {
  // Best effort: raising a priority needs privileges the program may not have.
  Cardinal tid = FThreadID.load();
  if (tid) (void)::setpriority(PRIO_PROCESS, static_cast<id_t>(tid), NiceOf(FPriority));
}

void TThread::Execute() { AbstractError(); }

void TThread::DoTerminate() {
  if (FOnTerminate.Assigned()) Synchronize(TThreadMethod(this, &TThread::CallOnTerminate));
}

void TThread::CallOnTerminate() {
  if (FOnTerminate.Assigned()) FOnTerminate(this);
}

void TThread::Synchronize(TThread* AThread, const TThreadMethod& Method) {
  auto req = std::make_shared<TSyncRequest>();
  req->Thread = AThread;
  req->Method = Method;
  RunSynchronized(req);
}

void TThread::Synchronize(TThread* AThread, const TThreadProcedure& Proc) {
  auto req = std::make_shared<TSyncRequest>();
  req->Thread = AThread;
  req->Proc = Proc;
  RunSynchronized(req);
}

void TThread::Queue(TThread* AThread, const TThreadMethod& Method) {
  auto req = std::make_shared<TSyncRequest>();
  req->Thread = AThread;
  req->Method = Method;
  RunQueued(req);
}

void TThread::Queue(TThread* AThread, const TThreadProcedure& Proc) {
  auto req = std::make_shared<TSyncRequest>();
  req->Thread = AThread;
  req->Proc = Proc;
  RunQueued(req);
}

void TThread::RemoveQueuedEvents(TThread* AThread) {
  TSyncList& s = Sync();
  std::lock_guard<std::mutex> g(s.Lock);
  for (auto it = s.Requests.begin(); it != s.Requests.end();)
    if ((*it)->Queued && (*it)->Thread == AThread)
      it = s.Requests.erase(it);
    else
      ++it;
}

TThread* TThread::CurrentThread() { return tCurrentThread; }
