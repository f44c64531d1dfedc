// The thread message queues: posting, sending within and across threads,
// retrieval in the platform's priority (sent, posted, quit, input, paint,
// timers), dispatch, waits, timers and thread hooks.
#include <algorithm>
#include <atomic>
#include <mutex>
#include <unordered_map>

#include "platform/classes/Threads.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/Finally.h"
#include "platform/win/WindowsInternal.h"

namespace win {

using namespace wnd;

namespace wnd {

struct TSentMessage {
  HWND Hwnd{};
  UINT Msg = 0;
  WPARAM W = 0;
  LPARAM L = 0;
  LRESULT Result = 0;
  bool Done = false;     // the answer is there (replied or returned)
  bool Notify = false;   // SendNotifyMessage: nobody waits
  HANDLE Event{};        // set when Done
};

struct TQueue : TKernelObject {
  DWORD Thread = 0;
  HANDLE Handle{};
  // Shared with other threads, under the wait lock.
  std::deque<MSG> Posted;
  std::deque<MSG> InputQ;
  std::deque<TSentMessage*> Sent;
  bool Quit = false;
  int QuitCode = 0;
  DWORD Changed = 0;   // QS_ bits that arrived since the queue was last looked at
  DWORD WakeMask = 0;  // the bits a wait is waiting for
  bool SyncPending = false;
  // Owner thread only.
  std::vector<TTimer> Timers;
  std::vector<THook> Hooks;
  int HookCalls = 0;
  TSentMessage* Current = nullptr;  // the cross-thread message being handled
  bool CurrentReplied = false;
  MSG Last{};
  UINT_PTR NextTimerId = 0x7000;

  bool IsSignaled() const override { return (Changed & WakeMask) != 0; }
};

}  // namespace wnd

namespace {

struct TQueues {
  std::mutex Lock;
  std::unordered_map<DWORD, TQueue*> Map;
};
TQueues& Queues() {
  static TQueues* q = new TQueues();
  return *q;
}

thread_local TQueue* ThisQueue = nullptr;

// Wakes the main thread's loop for Synchronize.
struct TSyncWaker {
  void Wake(TObject*) {
    if (TQueue* q = QueueOf(MainThreadID)) {
      {
        TWaitLock lock;
        q->SyncPending = true;
        q->Changed |= QS_POSTMESSAGE;
      }
      TKernelObject::StateChanged();
    }
  }
};
TSyncWaker SyncWaker;

// Manual clock for tests.
std::atomic<bool> ManualClock{false};
std::atomic<DWORD> ManualNow{0};

bool InRange(UINT msg, UINT lo, UINT hi) { return (lo == 0 && hi == 0) || (msg >= lo && msg <= hi); }

bool WindowMatches(HWND msgWnd, HWND filter) {
  if (!filter) return true;
  if (filter == reinterpret_cast<HWND>(intptr_t(-1))) return msgWnd == nullptr;
  return msgWnd == filter || IsChild(filter, msgWnd);
}

DWORD InputBits(UINT msg) {
  if (msg == WM_MOUSEMOVE || msg == WM_NCMOUSEMOVE) return QS_MOUSEMOVE;
  if ((msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST) || (msg >= WM_NCMOUSEMOVE && msg <= WM_NCXBUTTONDBLCLK))
    return QS_MOUSEBUTTON;
  return QS_KEY;
}

void Post(TQueue* q, const MSG& m, bool input) {
  {
    TWaitLock lock;
    if (input) {
      // Consecutive moves to one window collapse into the latest.
      if (m.message == WM_MOUSEMOVE && !q->InputQ.empty() && q->InputQ.back().message == WM_MOUSEMOVE &&
          q->InputQ.back().hwnd == m.hwnd && q->InputQ.back().wParam == m.wParam)
        q->InputQ.back() = m;
      else
        q->InputQ.push_back(m);
      q->Changed |= InputBits(m.message);
    } else {
      q->Posted.push_back(m);
      q->Changed |= QS_POSTMESSAGE | QS_ALLPOSTMESSAGE;
    }
  }
  TKernelObject::StateChanged();
}

// Handles the messages other threads sent to this one.
void ProcessSent(TQueue* q) {
  for (;;) {
    TSentMessage* s = nullptr;
    {
      TWaitLock lock;
      if (q->Sent.empty()) return;
      s = q->Sent.front();
      q->Sent.pop_front();
    }
    // Once answered, a waited-for message belongs to its sender again: only
    // a notification (nobody waits) is freed here.
    const bool notify = s->Notify;
    TSentMessage* savedCur = q->Current;
    bool savedReplied = q->CurrentReplied;
    q->Current = s;
    q->CurrentReplied = false;
    LRESULT r = 0;
    // An exception cannot cross to the sender: the sender gets 0.
    Finally answer([&] {
      if (!q->CurrentReplied) ReplyMessage(r);
      q->Current = savedCur;
      q->CurrentReplied = savedReplied;
      if (notify) delete s;
    });
    TWnd* w = Find(s->Hwnd);
    if (w) {
      HWND h = w->Handle;
      if (HasHooks(WH_CALLWNDPROC)) {
        CWPSTRUCT cwp{s->L, s->W, s->Msg, h};
        CallHooks(WH_CALLWNDPROC, HC_ACTION, 0, LPARAM(&cwp));
        w = Find(h);
      }
      if (w) r = w->Proc(h, s->Msg, s->W, s->L);
    }
  }
}

TTimer* DueTimer(TQueue* q, HWND filter, DWORD now) {
  TTimer* best = nullptr;
  for (auto& t : q->Timers) {
    if (!WindowMatches(t.Window, filter)) continue;
    if (int32_t(now - t.Due) >= 0 && (!best || int32_t(t.Due - best->Due) < 0)) best = &t;
  }
  return best;
}

// How long until the next timer is due (INFINITE: none).
DWORD NextTimerWait(TQueue* q) {
  if (q->Timers.empty()) return INFINITE;
  DWORD now = Now();
  DWORD best = INFINITE;
  for (auto& t : q->Timers) {
    int32_t d = int32_t(t.Due - now);
    DWORD w = d <= 0 ? 0 : DWORD(d);
    best = std::min(best, w);
  }
  return best;
}

bool PaintPending(HWND filter) {
  TWnd* root = filter && filter != reinterpret_cast<HWND>(intptr_t(-1)) ? Find(filter) : Desktop();
  if (!root) return false;
  return FindPaintWindow(root) != nullptr;
}

bool PeekInternal(TQueue* q, MSG* out, HWND hWnd, UINT lo, UINT hi, UINT flags) {
  bool remove = (flags & PM_REMOVE) != 0;
  DWORD types = flags >> 16;  // PM_QS_*: 0 means all
  if (!types) types = QS_ALLINPUT;
  if (OnMainThread()) {
    if (TBackend* b = CurrentBackend()) b->PumpEvents();
    bool sync = false;
    {
      TWaitLock lock;
      sync = q->SyncPending;
      q->SyncPending = false;
    }
    if (sync) CheckSynchronize();
  }
  for (;;) {
    ProcessSent(q);
    MSG m{};
    bool found = false;
    bool input = false;
    {
      TWaitLock lock;
      if (types & QS_POSTMESSAGE)
        for (auto it = q->Posted.begin(); it != q->Posted.end(); ++it)
          if (WindowMatches(it->hwnd, hWnd) && InRange(it->message, lo, hi)) {
            m = *it;
            if (remove) q->Posted.erase(it);
            found = true;
            break;
          }
      if (!found && q->Quit && (types & QS_POSTMESSAGE)) {
        m = MSG{};
        m.message = WM_QUIT;
        m.wParam = WPARAM(q->QuitCode);
        if (remove) q->Quit = false;
        found = true;
      }
      if (!found && (types & QS_INPUT))
        for (auto it = q->InputQ.begin(); it != q->InputQ.end(); ++it)
          if (WindowMatches(it->hwnd, hWnd) && InRange(it->message, lo, hi)) {
            m = *it;
            if (remove) q->InputQ.erase(it);
            found = true;
            input = true;
            break;
          }
      // Input that is still there unseen keeps its bits: sends and
      // synchronized calls are served by the next look.
      if (!found) q->Changed = (q->Sent.empty() ? 0 : QS_SENDMESSAGE) | (q->SyncPending ? QS_POSTMESSAGE : 0);
    }
    if (found && input) {
      if (!Find(m.hwnd) && m.hwnd) continue;  // its window died meanwhile
      if (!PreprocessInput(m, remove)) {
        if (!remove) {
          // eaten while peeking: take it out anyway so the loop moves on
          TWaitLock lock;
          for (auto it = q->InputQ.begin(); it != q->InputQ.end(); ++it)
            if (it->hwnd == m.hwnd && it->message == m.message && it->time == m.time) {
              q->InputQ.erase(it);
              break;
            }
        }
        continue;
      }
      if (remove) UpdateQueueKeyState(m);
    }
    if (!found) {
      ProcessSent(q);
      if ((types & QS_PAINT) && InRange(WM_PAINT, lo, hi)) {
        TWnd* root = hWnd && hWnd != reinterpret_cast<HWND>(intptr_t(-1)) ? Find(hWnd) : Desktop();
        if (root) {
          if (TWnd* pw = FindPaintWindow(root)) {
            m = MSG{};
            m.hwnd = pw->Handle;
            m.message = WM_PAINT;
            found = true;
          }
        }
      }
      if (!found && (types & QS_TIMER) && InRange(WM_TIMER, lo, hi)) {
        DWORD now = Now();
        if (TTimer* t = DueTimer(q, hWnd, now)) {
          m = MSG{};
          m.hwnd = t->Window;
          m.message = WM_TIMER;
          m.wParam = t->Id;
          m.lParam = LPARAM(reinterpret_cast<uintptr_t>(t->Proc));
          if (remove) t->Due = now + t->Interval;
          found = true;
        }
      }
      if (!found) {
        CheckHover();
        CheckCaretBlink();
        return false;
      }
      m.time = Now();
      m.pt = Input().Cursor;
    }
    if (HasHooks(WH_GETMESSAGE)) CallHooks(WH_GETMESSAGE, HC_ACTION, remove ? PM_REMOVE : PM_NOREMOVE, LPARAM(&m));
    *out = m;
    if (remove) q->Last = m;
    return true;
  }
}

// Waits until new input of mask arrives, or timeout ms pass.
void WaitQueue(TQueue* q, DWORD mask, DWORD timeout) {
  DWORD t = NextTimerWait(q);
  if (OnMainThread() && Input().TrackHover) {
    // a pending hover is due like a timer
    DWORD passed = Now() - Input().HoverStart;
    t = std::min(t, passed >= Input().HoverTime ? 0 : Input().HoverTime - passed);
  }
  if (TBackend* b = CurrentBackend(); b && OnMainThread()) t = std::min(t, b->PollInterval());
  timeout = std::min(timeout, t);
  if (ManualClock.load() && timeout != INFINITE) timeout = std::min<DWORD>(timeout, 5);
  {
    TWaitLock lock;
    q->WakeMask = mask;
  }
  WaitForSingleObject(q->Handle, timeout);
  TWaitLock lock;
  q->WakeMask = 0;
}

THook* FindHook(TQueue* q, HHOOK h) {
  for (auto& k : q->Hooks)
    if (k.Handle == h) return &k;
  return nullptr;
}

LRESULT CallHookFrom(TQueue* q, size_t start, int id, int code, WPARAM wp, LPARAM lp) {
  for (size_t i = start; i < q->Hooks.size(); ++i) {
    THook& k = q->Hooks[i];
    if (k.Id != id || k.Removed) continue;
    HOOKPROC p = k.Proc;
    ++q->HookCalls;
    // Hooks removed while hooks run are dropped when the outermost call ends.
    Finally drop([&] {
      if (--q->HookCalls == 0)
        q->Hooks.erase(std::remove_if(q->Hooks.begin(), q->Hooks.end(), [](const THook& x) { return x.Removed; }),
                       q->Hooks.end());
    });
    return p(code, wp, lp);
  }
  return 0;
}

}  // namespace

// ---------------------------------------------------------------------------
// Internals

namespace wnd {

TQueue* CurrentQueue() {
  if (ThisQueue) return ThisQueue;
  auto* q = new TQueue();
  q->Thread = ThisThreadId();
  q->Handle = RegisterHandle(q);
  {
    TQueues& qs = Queues();
    std::lock_guard<std::mutex> g(qs.Lock);
    qs.Map[q->Thread] = q;
  }
  ThisQueue = q;
  if (OnMainThread() && !WakeMainThread.Assigned()) WakeMainThread = TNotifyEvent(&SyncWaker, &TSyncWaker::Wake);
  return q;
}

TQueue* QueueOf(DWORD threadId) {
  TQueues& qs = Queues();
  std::lock_guard<std::mutex> g(qs.Lock);
  auto it = qs.Map.find(threadId);
  return it == qs.Map.end() ? nullptr : it->second;
}

void PostInput(const MSG& m) {
  DWORD t = m.hwnd ? OwnerThreadOf(m.hwnd) : DWORD(MainThreadID);
  TQueue* q = t == ThisThreadId() ? CurrentQueue() : QueueOf(t);
  if (q) Post(q, m, true);
}

bool HasHooks(int idHook) {
  TQueue* q = ThisQueue;
  if (!q) return false;
  for (auto& k : q->Hooks)
    if (k.Id == idHook && !k.Removed) return true;
  return false;
}

LRESULT CallHooks(int idHook, int code, WPARAM wp, LPARAM lp) {
  TQueue* q = ThisQueue;
  if (!q) return 0;
  return CallHookFrom(q, 0, idHook, code, wp, lp);
}

void ForgetWindow(HWND h) {
  TQueue* q = CurrentQueue();
  {
    TWaitLock lock;
    q->Posted.erase(std::remove_if(q->Posted.begin(), q->Posted.end(), [h](const MSG& m) { return m.hwnd == h; }),
                    q->Posted.end());
    q->InputQ.erase(std::remove_if(q->InputQ.begin(), q->InputQ.end(), [h](const MSG& m) { return m.hwnd == h; }),
                    q->InputQ.end());
  }
  q->Timers.erase(std::remove_if(q->Timers.begin(), q->Timers.end(), [h](const TTimer& t) { return t.Window == h; }),
                  q->Timers.end());
}

DWORD Now() { return MessageClock(); }
bool ManualClockOn() { return ManualClock.load(); }

DWORD ThisThreadId() {
  thread_local DWORD id = GetCurrentThreadId();
  return id;
}

bool OnMainThread() { return ThisThreadId() == DWORD(MainThreadID); }

}  // namespace wnd

DWORD MessageClock() { return ManualClock.load() ? ManualNow.load() : DWORD(GetTickCount()); }

void SetManualClock(bool Manual) {
  if (Manual && !ManualClock.load()) ManualNow.store(DWORD(GetTickCount()));
  ManualClock.store(Manual);
}

void AdvanceManualClock(DWORD ms) {
  ManualNow.fetch_add(ms);
  TKernelObject::StateChanged();
}

// ---------------------------------------------------------------------------
// Sending

LRESULT SendMessageW(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
  if (hWnd == HWND_BROADCAST) {
    std::vector<HWND> list;
    for (TWnd* s : Desktop()->Children) list.push_back(s->Handle);
    for (HWND h : list) SendMessageW(h, Msg, wParam, lParam);
    return 0;
  }
  DWORD t = OwnerThreadOf(hWnd);
  if (!t) {
    SetLastError(1400);
    return 0;
  }
  DWORD self = ThisThreadId();
  if (t == self) {
    TWnd* w = Find(hWnd);
    return w ? CallProc(w, Msg, wParam, lParam) : 0;
  }
  // Another thread's window: queue the call there and wait for the answer,
  // handling the messages sent to this thread meanwhile.
  TQueue* target = QueueOf(t);
  if (!target) return 0;
  auto* s = new TSentMessage();
  s->Hwnd = hWnd;
  s->Msg = Msg;
  s->W = wParam;
  s->L = lParam;
  s->Event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  {
    TWaitLock lock;
    target->Sent.push_back(s);
    target->Changed |= QS_SENDMESSAGE;
  }
  TKernelObject::StateChanged();
  TQueue* mine = ThisQueue;
  for (;;) {
    if (mine) {
      HANDLE hs[2] = {s->Event, mine->Handle};
      {
        TWaitLock lock;
        mine->WakeMask = QS_SENDMESSAGE;
      }
      DWORD r = WaitForMultipleObjects(2, hs, FALSE, 50);
      {
        TWaitLock lock;
        mine->WakeMask = 0;
        mine->Changed &= ~DWORD(QS_SENDMESSAGE);
      }
      if (r == WAIT_OBJECT_0) break;
      ProcessSent(mine);
    } else {
      if (WaitForSingleObject(s->Event, 50) == WAIT_OBJECT_0) break;
    }
    // A main thread waiting here still serves synchronized calls, so a worker
    // that synchronizes before answering cannot deadlock it.
    if (OnMainThread()) CheckSynchronize();
    // The window died while the message waited: give up.
    if (!IsWindow(hWnd)) {
      TWaitLock lock;
      auto it = std::find(target->Sent.begin(), target->Sent.end(), s);
      if (it != target->Sent.end()) {
        target->Sent.erase(it);
        s->Done = true;
        break;
      }
    }
  }
  LRESULT result;
  {
    TWaitLock lock;
    result = s->Result;
  }
  CloseHandle(s->Event);
  delete s;
  return result;
}

LRESULT SendMessageTimeoutW(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam, UINT, UINT, ULONG_PTR* lpdwResult) {
  if (!IsWindow(hWnd)) return 0;
  LRESULT r = SendMessageW(hWnd, Msg, wParam, lParam);
  if (lpdwResult) *lpdwResult = ULONG_PTR(r);
  return 1;
}

BOOL SendNotifyMessageW(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
  if (hWnd == HWND_BROADCAST) {
    std::vector<HWND> list;
    for (TWnd* s : Desktop()->Children) list.push_back(s->Handle);
    for (HWND h : list) SendNotifyMessageW(h, Msg, wParam, lParam);
    return TRUE;
  }
  DWORD t = OwnerThreadOf(hWnd);
  if (!t) {
    SetLastError(1400);
    return FALSE;
  }
  if (t == ThisThreadId()) {
    SendMessageW(hWnd, Msg, wParam, lParam);
    return TRUE;
  }
  TQueue* target = QueueOf(t);
  if (!target) return FALSE;
  auto* s = new TSentMessage();
  s->Hwnd = hWnd;
  s->Msg = Msg;
  s->W = wParam;
  s->L = lParam;
  s->Notify = true;
  {
    TWaitLock lock;
    target->Sent.push_back(s);
    target->Changed |= QS_SENDMESSAGE;
  }
  TKernelObject::StateChanged();
  return TRUE;
}

BOOL InSendMessage() {
  TQueue* q = ThisQueue;
  return q && q->Current != nullptr;
}

DWORD InSendMessageEx(LPVOID) {
  TQueue* q = ThisQueue;
  if (!q || !q->Current) return ISMEX_NOSEND;
  DWORD r = q->Current->Notify ? ISMEX_NOTIFY : ISMEX_SEND;
  if (q->CurrentReplied) r |= ISMEX_REPLIED;
  return r;
}

BOOL ReplyMessage(LRESULT lResult) {
  TQueue* q = ThisQueue;
  if (!q || !q->Current || q->CurrentReplied) return FALSE;
  q->CurrentReplied = true;
  TSentMessage* s = q->Current;
  if (s->Notify) return TRUE;
  HANDLE ev;
  {
    TWaitLock lock;
    s->Result = lResult;
    s->Done = true;
    ev = s->Event;
  }
  SetEvent(ev);
  return TRUE;
}

// ---------------------------------------------------------------------------
// Posting

BOOL PostMessageW(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
  if (!hWnd) return PostThreadMessageW(ThisThreadId(), Msg, wParam, lParam);
  if (hWnd == HWND_BROADCAST) {
    std::vector<HWND> list;
    for (TWnd* s : Desktop()->Children) list.push_back(s->Handle);
    for (HWND h : list) PostMessageW(h, Msg, wParam, lParam);
    return TRUE;
  }
  DWORD t = OwnerThreadOf(hWnd);
  if (!t) {
    SetLastError(1400);
    return FALSE;
  }
  TQueue* q = t == ThisThreadId() ? CurrentQueue() : QueueOf(t);
  if (!q) return FALSE;
  MSG m;
  m.hwnd = hWnd;
  m.message = Msg;
  m.wParam = wParam;
  m.lParam = lParam;
  m.time = Now();
  if (t == ThisThreadId()) m.pt = Input().Cursor;  // the input state is the owner thread's
  Post(q, m, false);
  return TRUE;
}

BOOL PostThreadMessageW(DWORD idThread, UINT Msg, WPARAM wParam, LPARAM lParam) {
  TQueue* q = idThread == ThisThreadId() ? CurrentQueue() : QueueOf(idThread);
  if (!q) {
    SetLastError(1444);  // ERROR_INVALID_THREAD_ID
    return FALSE;
  }
  MSG m;
  m.message = Msg;
  m.wParam = wParam;
  m.lParam = lParam;
  m.time = Now();
  Post(q, m, false);
  return TRUE;
}

void PostQuitMessage(int nExitCode) {
  TQueue* q = CurrentQueue();
  {
    TWaitLock lock;
    q->Quit = true;
    q->QuitCode = nExitCode;
    q->Changed |= QS_POSTMESSAGE;
  }
  TKernelObject::StateChanged();
}

// ---------------------------------------------------------------------------
// Retrieving

BOOL PeekMessageW(LPMSG lpMsg, HWND hWnd, UINT lo, UINT hi, UINT flags) {
  TQueue* q = CurrentQueue();
  MSG m;
  if (!PeekInternal(q, &m, hWnd, lo, hi, flags)) return FALSE;
  if (lpMsg) *lpMsg = m;
  return TRUE;
}

BOOL GetMessageW(LPMSG lpMsg, HWND hWnd, UINT lo, UINT hi) {
  TQueue* q = CurrentQueue();
  MSG m;
  while (!PeekInternal(q, &m, hWnd, lo, hi, PM_REMOVE)) WaitQueue(q, QS_ALLINPUT, INFINITE);
  if (lpMsg) *lpMsg = m;
  return m.message != WM_QUIT;
}

BOOL WaitMessage() {
  TQueue* q = CurrentQueue();
  {
    TWaitLock lock;
    bool any = !q->Posted.empty() || !q->InputQ.empty() || !q->Sent.empty() || q->Quit || q->SyncPending;
    if (any && q->Changed) return TRUE;
  }
  if (PaintPending(nullptr) || DueTimer(q, nullptr, Now())) return TRUE;
  WaitQueue(q, QS_ALLINPUT, INFINITE);
  return TRUE;
}

DWORD MsgWaitForMultipleObjectsEx(DWORD nCount, const HANDLE* pHandles, DWORD ms, DWORD mask, DWORD flags) {
  TQueue* q = CurrentQueue();
  if (nCount >= MAXIMUM_WAIT_OBJECTS) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return WAIT_FAILED;
  }
  DWORD start = Now();
  bool waitAll = (flags & MWMO_WAITALL) != 0;
  for (;;) {
    // Input that is already there counts with MWMO_INPUTAVAILABLE.
    bool ready = false;
    {
      TWaitLock lock;
      if (q->Changed & mask) ready = true;
      if (flags & MWMO_INPUTAVAILABLE) {
        if ((mask & QS_POSTMESSAGE) && (!q->Posted.empty() || q->Quit)) ready = true;
        if ((mask & QS_INPUT) && !q->InputQ.empty()) ready = true;
        if ((mask & QS_SENDMESSAGE) && !q->Sent.empty()) ready = true;
      }
      if (q->SyncPending && (mask & QS_POSTMESSAGE)) ready = true;
    }
    if ((mask & QS_PAINT) && PaintPending(nullptr)) ready = true;
    if ((mask & QS_TIMER) && DueTimer(q, nullptr, Now())) ready = true;
    if (ready && !waitAll) return WAIT_OBJECT_0 + nCount;
    DWORD elapsed = Now() - start;
    DWORD left = ms == INFINITE ? INFINITE : (elapsed >= ms ? 0 : ms - elapsed);
    DWORD slice = left;
    if (mask & QS_TIMER) slice = std::min(slice, NextTimerWait(q));
    if (TBackend* b = CurrentBackend(); b && OnMainThread()) slice = std::min(slice, b->PollInterval());
    if (ManualClock.load() && slice != INFINITE) slice = std::min<DWORD>(slice, 5);
    std::vector<HANDLE> hs(pHandles, pHandles + nCount);
    DWORD r;
    {
      TWaitLock lock;
      q->WakeMask = mask;
    }
    if (waitAll) {
      r = nCount ? WaitForMultipleObjects(nCount, hs.data(), TRUE, slice) : WAIT_TIMEOUT;
      if (r == WAIT_TIMEOUT && !nCount) WaitForSingleObject(q->Handle, slice);
    } else {
      hs.push_back(q->Handle);
      r = WaitForMultipleObjects(DWORD(hs.size()), hs.data(), FALSE, slice);
    }
    {
      TWaitLock lock;
      q->WakeMask = 0;
    }
    if (r == WAIT_FAILED) return WAIT_FAILED;
    if (r < WAIT_OBJECT_0 + nCount || (waitAll && r == WAIT_OBJECT_0 && nCount)) return r;
    if (r == WAIT_OBJECT_0 + nCount && !waitAll) return r;
    if (r >= WAIT_ABANDONED_0 && r < WAIT_ABANDONED_0 + nCount) return r;
    if (ms != INFINITE && Now() - start >= ms) {
      // a last look at the queue before giving up
      if ((mask & QS_TIMER) && DueTimer(q, nullptr, Now()) && !waitAll) return WAIT_OBJECT_0 + nCount;
      return WAIT_TIMEOUT;
    }
    if (OnMainThread())
      if (TBackend* b = CurrentBackend()) b->PumpEvents();
  }
}

DWORD MsgWaitForMultipleObjects(DWORD nCount, const HANDLE* pHandles, BOOL fWaitAll, DWORD ms, DWORD mask) {
  return MsgWaitForMultipleObjectsEx(nCount, pHandles, ms, mask, fWaitAll ? MWMO_WAITALL : 0);
}

LRESULT DispatchMessageW(const MSG* m) {
  if (!m) return 0;
  if (m->message == WM_TIMER && m->lParam) {
    // Only the procedure of a live timer is called.
    TQueue* q = CurrentQueue();
    for (auto& t : q->Timers)
      if (t.Window == m->hwnd && t.Id == m->wParam && LPARAM(reinterpret_cast<uintptr_t>(t.Proc)) == m->lParam) {
        TIMERPROC p = t.Proc;
        p(m->hwnd, WM_TIMER, m->wParam, Now());
        return 0;
      }
    return 0;
  }
  if (!m->hwnd) return 0;
  TWnd* w = Find(m->hwnd);
  if (!w) {
    SetLastError(1400);
    return 0;
  }
  if (w->ThreadId != ThisThreadId()) return 0;
  HWND h = w->Handle;
  if (m->message == WM_PAINT) {
    w->PaintValidated = false;
    LRESULT r = w->Proc(h, m->message, m->wParam, m->lParam);
    // A procedure that neither painted nor validated would get WM_PAINT for
    // ever: its update region is dropped.
    if ((w = Find(h)) && !w->PaintValidated && NeedsPaint(w)) {
      w->Update.Clear();
      w->UpdateErase = false;
      w->NcUpdate = false;
      w->InternalPaint = false;
    }
    return r;
  }
  return w->Proc(h, m->message, m->wParam, m->lParam);
}

DWORD GetMessagePos() {
  TQueue* q = CurrentQueue();
  return MAKELONG(WORD(q->Last.pt.x), WORD(q->Last.pt.y));
}

LONG GetMessageTime() { return LONG(CurrentQueue()->Last.time); }

LPARAM GetMessageExtraInfo() { return 0; }

DWORD GetQueueStatus(UINT flags) {
  TQueue* q = CurrentQueue();
  DWORD present = 0, changed;
  {
    TWaitLock lock;
    if (!q->Posted.empty() || q->Quit) present |= QS_POSTMESSAGE | QS_ALLPOSTMESSAGE;
    for (auto& m : q->InputQ) present |= InputBits(m.message);
    if (!q->Sent.empty()) present |= QS_SENDMESSAGE;
    changed = q->Changed;
    q->Changed = 0;
  }
  if (PaintPending(nullptr)) present |= QS_PAINT;
  if (DueTimer(q, nullptr, Now())) present |= QS_TIMER;
  return MAKELONG(WORD(changed & flags), WORD(present & flags));
}

BOOL GetInputState() {
  TQueue* q = CurrentQueue();
  TWaitLock lock;
  return !q->InputQ.empty();
}

// ---------------------------------------------------------------------------
// Timers

UINT_PTR SetTimer(HWND hWnd, UINT_PTR id, UINT elapse, TIMERPROC proc) {
  TQueue* q = CurrentQueue();
  if (hWnd) {
    TWnd* w = Find(hWnd);
    if (!w || w->ThreadId != ThisThreadId()) {
      SetLastError(1400);
      return 0;
    }
  }
  if (elapse < USER_TIMER_MINIMUM) elapse = USER_TIMER_MINIMUM;
  if (elapse > USER_TIMER_MAXIMUM) elapse = USER_TIMER_MAXIMUM;
  if (!hWnd) {
    bool exists = id && std::any_of(q->Timers.begin(), q->Timers.end(),
                                    [&](const TTimer& t) { return !t.Window && t.Id == id; });
    if (!exists) {
      do {
        id = q->NextTimerId++;
        if (q->NextTimerId > 0x7FFF) q->NextTimerId = 0x7000;
      } while (std::any_of(q->Timers.begin(), q->Timers.end(),
                           [&](const TTimer& t) { return !t.Window && t.Id == id; }));
    }
  }
  for (auto& t : q->Timers)
    if (t.Window == hWnd && t.Id == id) {
      t.Interval = elapse;
      t.Due = Now() + elapse;
      t.Proc = proc;
      return hWnd ? (id ? id : 1) : id;
    }
  TTimer t;
  t.Window = hWnd;
  t.Id = id;
  t.Interval = elapse;
  t.Due = Now() + elapse;
  t.Proc = proc;
  q->Timers.push_back(t);
  return hWnd ? (id ? id : 1) : id;
}

BOOL KillTimer(HWND hWnd, UINT_PTR id) {
  TQueue* q = CurrentQueue();
  auto it = std::find_if(q->Timers.begin(), q->Timers.end(),
                         [&](const TTimer& t) { return t.Window == hWnd && t.Id == id; });
  if (it == q->Timers.end()) {
    SetLastError(1402);  // ERROR_INVALID_TIMER_HANDLE... the platform's "timer not found"
    return FALSE;
  }
  q->Timers.erase(it);
  return TRUE;
}

// ---------------------------------------------------------------------------
// Hooks

HHOOK SetWindowsHookExW(int idHook, HOOKPROC lpfn, HINSTANCE, DWORD dwThreadId) {
  static std::atomic<uintptr_t> next{0x20000};
  if (!lpfn || (dwThreadId && dwThreadId != ThisThreadId())) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  switch (idHook) {
    case WH_CALLWNDPROC: case WH_CALLWNDPROCRET: case WH_GETMESSAGE: case WH_MOUSE: case WH_KEYBOARD: break;
    default: SetLastError(ERROR_INVALID_PARAMETER); return nullptr;
  }
  TQueue* q = CurrentQueue();
  THook k;
  k.Handle = reinterpret_cast<HHOOK>(next.fetch_add(4));
  k.Id = idHook;
  k.Proc = lpfn;
  q->Hooks.insert(q->Hooks.begin(), k);  // the newest hook is called first
  return k.Handle;
}

BOOL UnhookWindowsHookEx(HHOOK hhk) {
  TQueue* q = CurrentQueue();
  THook* k = FindHook(q, hhk);
  if (!k || k->Removed) {
    SetLastError(1404);  // ERROR_INVALID_HOOK_HANDLE
    return FALSE;
  }
  if (q->HookCalls > 0)
    k->Removed = true;
  else
    q->Hooks.erase(q->Hooks.begin() + (k - q->Hooks.data()));
  return TRUE;
}

LRESULT CallNextHookEx(HHOOK hhk, int nCode, WPARAM wParam, LPARAM lParam) {
  TQueue* q = CurrentQueue();
  THook* k = FindHook(q, hhk);
  if (!k) return 0;
  size_t i = size_t(k - q->Hooks.data());
  return CallHookFrom(q, i + 1, k->Id, nCode, wParam, lParam);
}

}  // namespace win
