#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <stdexcept>
#include <thread>
#include <vector>

#include "platform/classes/Threads.h"

namespace {

// A thread whose Execute runs a given body.
class TTestThread : public TThread {
  CL_CLASS(TTestThread, TThread)
 public:
  using TBody = std::function<void(TTestThread*)>;
  void Create(Boolean CreateSuspended, TBody ABody, std::atomic<bool>* ADestroyed = nullptr) {
    inherited::Create(CreateSuspended);
    Body = std::move(ABody);
    Destroyed = ADestroyed;
  }
  void Destroy() override {
    if (StopEvent) win::SetEvent(StopEvent);  // like a port's event thread: signal, then wait
    inherited::Destroy();
    if (Destroyed) *Destroyed = true;
  }
  using TThread::Queue;
  using TThread::SetReturnValue;
  using TThread::Synchronize;

  TBody Body;
  std::atomic<bool>* Destroyed = nullptr;
  win::HANDLE StopEvent = nullptr;

 protected:
  void Execute() override {
    if (Body) Body(this);
  }
};
CL_IMPLEMENT_CLASS(TTestThread)

// Receives OnTerminate and notes the thread it ran on.
struct TTerminateWatch {
  std::atomic<int> Calls{0};
  std::atomic<bool> OnMain{false};
  TObject* Sender = nullptr;
  void Handler(TObject* ASender) {
    Sender = ASender;
    OnMain = IsMainThread();
    ++Calls;
  }
};

// Serves synchronized calls until Done or a time-out; answers Done.
bool ServeUntil(const std::function<bool()>& Done, int Ms = 5000) {
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(Ms);
  while (!Done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    CheckSynchronize(10);
  }
  return true;
}

}  // namespace

TEST(ThreadTest, MainThreadIsKnown) {
  EXPECT_TRUE(IsMainThread());
  EXPECT_EQ(MainThreadID, win::GetCurrentThreadId());
  EXPECT_EQ(TThread::CurrentThread(), nullptr);
}

TEST(ThreadTest, WaitForServesSynchronizeAndAnswersTheReturnValue) {
  std::vector<bool> ranOnMain;
  TTestThread* t = New<TTestThread>(false, [&](TTestThread* Self) {
    for (int i = 0; i < 3; ++i) Self->Synchronize([&] { ranOnMain.push_back(IsMainThread()); });
    EXPECT_EQ(TThread::CurrentThread(), Self);
    Self->SetReturnValue(42);
  });
  EXPECT_NE(t->ThreadID(), 0u);
  EXPECT_NE(t->ThreadID(), MainThreadID);
  // The worker blocks in Synchronize while the main thread waits: no deadlock.
  EXPECT_EQ(t->WaitFor(), 42u);
  EXPECT_EQ(ranOnMain, std::vector<bool>({true, true, true}));
  EXPECT_TRUE(t->Finished());
  EXPECT_EQ(win::WaitForSingleObject(t->Handle(), 0), win::WAIT_OBJECT_0);
  Free(t);
}

TEST(ThreadTest, FreeingARunningThreadServesItsSynchronizeCalls) {
  // The event-thread pattern: loop on a stop event, synchronize each batch; the
  // main thread frees the thread while the worker may be blocked in Synchronize.
  win::HANDLE stop = win::CreateEventW(nullptr, true, false, nullptr);
  std::atomic<int> batches{0};
  std::atomic<bool> destroyed{false};
  TTestThread* t = New<TTestThread>(true, [&](TTestThread* Self) {
    while (win::WaitForSingleObject(stop, 1) == win::WAIT_TIMEOUT) Self->Synchronize([&] { ++batches; });
  }, &destroyed);
  t->StopEvent = stop;
  t->Start();
  ASSERT_TRUE(ServeUntil([&] { return batches.load() >= 3; }));
  Free(t);
  EXPECT_TRUE(destroyed.load());
  win::CloseHandle(stop);
}

TEST(ThreadTest, ExceptionsOfSynchronizedCallsReachTheWorker) {
  String message, className;
  bool foreignCaught = false;
  TTestThread* t = New<TTestThread>(false, [&](TTestThread* Self) {
    try {
      Self->Synchronize([] { throw EConvertError(u"'x' is not a valid integer value"); });
    } catch (const EConvertError& E) {
      message = E.Message();
      className = E.ClassName();
    }
    try {
      Self->Synchronize([] { throw std::runtime_error("plain"); });
    } catch (const std::runtime_error&) {
      foreignCaught = true;
    }
  });
  t->WaitFor();
  EXPECT_EQ(className, u"EConvertError");
  EXPECT_EQ(message, u"'x' is not a valid integer value");
  EXPECT_TRUE(foreignCaught);
  EXPECT_EQ(t->FatalException(), nullptr);
  Free(t);
}

TEST(ThreadTest, AnExceptionEscapingExecuteIsKept) {
  TTestThread* t = New<TTestThread>(false, [](TTestThread*) { throw EAbort(u"stopped"); });
  t->WaitFor();
  ASSERT_NE(t->FatalException(), nullptr);
  EXPECT_EQ(t->FatalException()->ClassName(), u"EAbort");
  EXPECT_EQ(t->FatalException()->Message(), u"stopped");
  Free(t);
}

TEST(ThreadTest, FreeOnTerminateDeliversOnTerminateOnTheMainThreadAndFreesItself) {
  TTerminateWatch watch;
  std::atomic<bool> destroyed{false};
  TTestThread* t = New<TTestThread>(true, [](TTestThread*) {}, &destroyed);
  t->SetFreeOnTerminate(true);
  t->SetOnTerminate(TNotifyEvent(&watch, &TTerminateWatch::Handler));
  TObject* sender = t;
  EXPECT_THROW(t->WaitFor(), EThread);  // not started
  t->Start();
  ASSERT_TRUE(ServeUntil([&] { return destroyed.load(); }));
  EXPECT_EQ(watch.Calls.load(), 1);
  EXPECT_TRUE(watch.OnMain.load());
  EXPECT_EQ(watch.Sender, sender);
}

TEST(ThreadTest, AThreadThatFreesItselfCanBeTakenBackBeforeItEnds) {
  // Terminate an animation: clear FreeOnTerminate, terminate, wait (serving
  // OnTerminate), free.
  TTerminateWatch watch;
  std::atomic<bool> destroyed{false};
  TTestThread* t = New<TTestThread>(true, [](TTestThread* Self) {
    while (!Self->Terminated()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }, &destroyed);
  t->SetFreeOnTerminate(true);
  t->SetOnTerminate(TNotifyEvent(&watch, &TTerminateWatch::Handler));
  t->Resume();
  EXPECT_THROW(t->WaitFor(), EThread);  // it would free itself under the waiter
  t->SetFreeOnTerminate(false);
  t->Terminate();
  t->WaitFor();
  EXPECT_EQ(watch.Calls.load(), 1);
  EXPECT_FALSE(destroyed.load());
  Free(t);
  EXPECT_TRUE(destroyed.load());
}

TEST(ThreadTest, SuspendedCreationAndItsLimits) {
  std::atomic<int> runs{0};
  TTestThread* t = New<TTestThread>(true, [&](TTestThread* Self) {
    ++runs;
    while (!Self->Terminated()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  });
  EXPECT_TRUE(t->Suspended());
  EXPECT_EQ(t->ThreadID(), 0u);
  t->Suspend();  // nothing to do before the start
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(runs.load(), 0);
  t->Start();
  EXPECT_FALSE(t->Suspended());
  while (runs.load() == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  EXPECT_THROW(t->Start(), EThread);
  EXPECT_THROW(t->Suspend(), EThread);  // a running thread cannot be suspended here
  t->Resume();                          // nothing for a running thread
  t->SetPriority(tpLower);
  EXPECT_EQ(t->Priority(), tpLower);
  Free(t);  // terminates and waits
  EXPECT_EQ(runs.load(), 1);

  // A thread never started is freed without running.
  TTestThread* never = New<TTestThread>(true, [&](TTestThread*) { ++runs; });
  Free(never);
  EXPECT_EQ(runs.load(), 1);
}

// A thread created suspended and resumed inside its own constructor (the
// serial event thread does this) runs once: AfterConstruction must not start
// it a second time.
class TSelfStartingThread : public TTestThread {
  CL_CLASS(TSelfStartingThread, TTestThread)
 public:
  void Create(TBody ABody) {
    inherited::Create(true, std::move(ABody));
    Resume();
  }
};
CL_IMPLEMENT_CLASS(TSelfStartingThread)

TEST(ThreadTest, AThreadResumedInItsConstructorStartsOnce) {
  std::atomic<int> runs{0};
  TSelfStartingThread* t = New<TSelfStartingThread>([&](TTestThread*) { ++runs; });
  EXPECT_EQ(t->WaitFor(), 0u);
  Free(t);
  EXPECT_EQ(runs.load(), 1);
}

TEST(ThreadTest, AThreadCannotWaitForItself) {
  bool raised = false;
  TTestThread* t = New<TTestThread>(false, [&](TTestThread* Self) {
    try {
      Self->WaitFor();
    } catch (const EThread&) {
      raised = true;
    }
  });
  t->WaitFor();
  EXPECT_TRUE(raised);
  Free(t);
}

TEST(ThreadTest, QueueRunsLaterInOrderAndCanBeRemoved) {
  std::vector<int> order;
  TThread::Queue(nullptr, [&] { order.push_back(0); });  // on the main thread: at once
  EXPECT_EQ(order, std::vector<int>({0}));

  win::HANDLE queued = win::CreateEventW(nullptr, true, false, nullptr);
  TTestThread* t = New<TTestThread>(false, [&](TTestThread* Self) {
    Self->Queue([&] { order.push_back(1); });
    Self->Queue([&] { order.push_back(2); });
    win::SetEvent(queued);
  });
  win::WaitForSingleObject(queued, win::INFINITE);
  EXPECT_EQ(order.size(), 1u);  // nothing ran before the main thread served the list
  while (CheckSynchronize(0)) {
  }
  EXPECT_EQ(order, std::vector<int>({0, 1, 2}));

  win::ResetEvent(queued);
  TTestThread* dropped = New<TTestThread>(false, [&](TTestThread* Self) {
    Self->Queue([&] { order.push_back(3); });
    win::SetEvent(queued);
  });
  win::WaitForSingleObject(queued, win::INFINITE);
  TThread::RemoveQueuedEvents(dropped);
  while (CheckSynchronize(0)) {
  }
  EXPECT_EQ(order.size(), 3u);
  Free(t);
  Free(dropped);
  win::CloseHandle(queued);
}

TEST(ThreadTest, AQueuedCallsExceptionReachesTheMainThreadAndLaterCallsStayQueued) {
  std::vector<int> order;
  win::HANDLE queued = win::CreateEventW(nullptr, true, false, nullptr);
  TTestThread* t = New<TTestThread>(false, [&](TTestThread* Self) {
    Self->Queue([] { throw EConvertError(u"bad"); });
    Self->Queue([&] { order.push_back(1); });
    win::SetEvent(queued);
  });
  win::WaitForSingleObject(queued, win::INFINITE);
  EXPECT_THROW(CheckSynchronize(0), EConvertError);
  EXPECT_TRUE(CheckSynchronize(0));
  EXPECT_EQ(order, std::vector<int>({1}));
  t->WaitFor();
  Free(t);
  win::CloseHandle(queued);
}

namespace {
struct TWakeCounter {
  std::atomic<int> Calls{0};
  std::atomic<TObject*> Sender{nullptr};
  void Wake(TObject* S) {
    Sender = S;
    ++Calls;
  }
};
}  // namespace

TEST(ThreadTest, WorkersWakeTheMainThreadAndOnlyItServes) {
  TWakeCounter wake;
  TNotifyEvent saved = WakeMainThread;
  WakeMainThread = TNotifyEvent(&wake, &TWakeCounter::Wake);
  bool checkRaised = false;
  TTestThread* t = New<TTestThread>(false, [&](TTestThread* Self) {
    try {
      CheckSynchronize(0);
    } catch (const EThread&) {
      checkRaised = true;
    }
    Self->Synchronize([] {});
  });
  t->WaitFor();
  WakeMainThread = saved;
  EXPECT_TRUE(checkRaised);
  EXPECT_EQ(wake.Calls.load(), 1);
  EXPECT_EQ(wake.Sender.load(), static_cast<TObject*>(t));
  Free(t);
}
