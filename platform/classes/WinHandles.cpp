#include "platform/classes/WinHandles.h"

#include <pthread.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <unordered_set>
#include <vector>

namespace win {

namespace {

std::mutex& Lock() {
  static std::mutex* m = new std::mutex;  // never destroyed: worker threads may outlive static destruction
  return *m;
}

std::condition_variable& Changed() {
  static std::condition_variable* cv = new std::condition_variable;
  return *cv;
}

std::unordered_set<TKernelObject*>& Table() {
  static auto* t = new std::unordered_set<TKernelObject*>;
  return *t;
}

thread_local DWORD tLastError = 0;
thread_local DWORD tThreadId = 0;  // 0: not asked yet on this thread

// An event with manual or automatic reset.
class TEventObject : public TKernelObject {
 public:
  TEventObject(bool Manual, bool Initial) : FManual(Manual), FSignaled(Initial) {}
  bool IsSignaled() const override { return FSignaled; }
  void Acquire() override {
    if (!FManual) FSignaled = false;
  }
  void Set(bool Value) { FSignaled = Value; }

 private:
  bool FManual;
  bool FSignaled;
};

// With the lock held: the live object of a handle, or nil.
TKernelObject* Find(HANDLE h) {
  auto* obj = static_cast<TKernelObject*>(h);
  return Table().count(obj) ? obj : nullptr;
}

}  // namespace

struct TKernelAccess {
  static Cardinal& Count(TKernelObject* Obj) { return Obj->FRefCount; }
};

DWORD GetLastError() { return tLastError; }
void SetLastError(DWORD dwErrCode) { tLastError = dwErrCode; }

// Asked on every message and lock: the kernel is asked once per thread. A
// forked child's thread has an id of its own, so the child forgets the copy.
DWORD GetCurrentThreadId() {
  if (tThreadId == 0) {
    static const int forkHook = ::pthread_atfork(nullptr, nullptr, [] { tThreadId = 0; });
    (void)forkHook;
    tThreadId = static_cast<DWORD>(::syscall(SYS_gettid));
  }
  return tThreadId;
}

void TKernelObject::AddRef() {
  std::lock_guard<std::mutex> g(Lock());
  ++FRefCount;
}

void TKernelObject::Release() {
  bool last;
  {
    std::lock_guard<std::mutex> g(Lock());
    last = --FRefCount == 0;
  }
  if (last) delete this;
}

void TKernelObject::StateChanged() { Changed().notify_all(); }

TWaitLock::TWaitLock() { Lock().lock(); }
TWaitLock::~TWaitLock() { Lock().unlock(); }

HANDLE RegisterHandle(TKernelObject* Obj) {
  if (!Obj) return nullptr;
  std::lock_guard<std::mutex> g(Lock());
  ++TKernelAccess::Count(Obj);
  Table().insert(Obj);
  return Obj;
}

TKernelObject* ReferenceHandle(HANDLE h) {
  std::lock_guard<std::mutex> g(Lock());
  TKernelObject* obj = Find(h);
  if (obj) ++TKernelAccess::Count(obj);
  return obj;
}

BOOL CloseHandle(HANDLE hObject) {
  TKernelObject* obj;
  {
    std::lock_guard<std::mutex> g(Lock());
    obj = Find(hObject);
    if (!obj) {
      SetLastError(ERROR_INVALID_HANDLE);
      return 0;
    }
    Table().erase(obj);
  }
  obj->Closed();
  obj->Release();
  return 1;
}

HANDLE CreateEventW(LPSECURITY_ATTRIBUTES, BOOL bManualReset, BOOL bInitialState, LPCWSTR) {
  HANDLE h = RegisterHandle(new TEventObject(bManualReset != 0, bInitialState != 0));
  SetLastError(ERROR_SUCCESS);
  return h;
}

namespace {

BOOL ChangeEvent(HANDLE hEvent, bool Value) {
  {
    std::lock_guard<std::mutex> g(Lock());
    auto* ev = dynamic_cast<TEventObject*>(Find(hEvent));
    if (!ev) {
      SetLastError(ERROR_INVALID_HANDLE);
      return 0;
    }
    ev->Set(Value);
  }
  if (Value) TKernelObject::StateChanged();
  return 1;
}

}  // namespace

BOOL SetEvent(HANDLE hEvent) { return ChangeEvent(hEvent, true); }
BOOL ResetEvent(HANDLE hEvent) { return ChangeEvent(hEvent, false); }

DWORD WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds) {
  return WaitForMultipleObjects(1, &hHandle, 0, dwMilliseconds);
}

DWORD WaitForMultipleObjects(DWORD nCount, const HANDLE* lpHandles, BOOL bWaitAll, DWORD dwMilliseconds) {
  if (nCount == 0 || nCount > MAXIMUM_WAIT_OBJECTS || !lpHandles) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return WAIT_FAILED;
  }
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + std::chrono::milliseconds(dwMilliseconds);
  std::vector<TKernelObject*> objs(nCount);

  std::unique_lock<std::mutex> g(Lock());
  for (DWORD i = 0; i < nCount; ++i) {
    objs[i] = Find(lpHandles[i]);
    if (!objs[i]) {
      SetLastError(ERROR_INVALID_HANDLE);
      return WAIT_FAILED;
    }
    if (bWaitAll)
      for (DWORD j = 0; j < i; ++j)
        if (objs[j] == objs[i]) {
          SetLastError(ERROR_INVALID_PARAMETER);
          return WAIT_FAILED;
        }
  }
  // The wait holds the objects, so a handle closed meanwhile keeps its object.
  for (TKernelObject* o : objs) ++TKernelAccess::Count(o);

  DWORD result = WAIT_TIMEOUT;
  for (;;) {
    if (bWaitAll) {
      bool all = true;
      for (TKernelObject* o : objs) all = all && o->IsSignaled();
      if (all) {
        for (TKernelObject* o : objs) o->Acquire();
        result = WAIT_OBJECT_0;
        break;
      }
    } else {
      DWORD hit = nCount;
      for (DWORD i = 0; i < nCount && hit == nCount; ++i)
        if (objs[i]->IsSignaled()) hit = i;
      if (hit < nCount) {
        objs[hit]->Acquire();
        result = WAIT_OBJECT_0 + hit;
        break;
      }
    }
    if (dwMilliseconds == INFINITE)
      Changed().wait(g);
    else if (dwMilliseconds == 0 || Changed().wait_until(g, deadline) == std::cv_status::timeout) {
      // One last look after the time-out, so a signal that came with it counts.
      if (dwMilliseconds != 0) {
        dwMilliseconds = 0;
        continue;
      }
      break;
    }
  }

  std::vector<TKernelObject*> dead;
  for (TKernelObject* o : objs)
    if (--TKernelAccess::Count(o) == 0) dead.push_back(o);
  g.unlock();
  for (TKernelObject* o : dead) delete o;
  return result;
}

}  // namespace win
