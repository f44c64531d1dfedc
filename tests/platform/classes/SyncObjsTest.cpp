#include <gtest/gtest.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "platform/classes/SyncObjs.h"

using namespace win;

namespace {

// Closes the handles of a test.
struct THandles {
  std::vector<HANDLE> List;
  HANDLE Event(bool Manual, bool Initial) {
    List.push_back(CreateEventW(nullptr, Manual, Initial, nullptr));
    return List.back();
  }
  ~THandles() {
    for (HANDLE h : List) CloseHandle(h);
  }
};

}  // namespace

TEST(EventTest, ManualAndAutomaticReset) {
  THandles h;
  HANDLE manual = h.Event(true, false);
  HANDLE automatic = h.Event(false, true);

  EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_TIMEOUT);
  ASSERT_TRUE(SetEvent(manual));
  EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_OBJECT_0);  // stays set
  ASSERT_TRUE(ResetEvent(manual));
  EXPECT_EQ(WaitForSingleObject(manual, 10), WAIT_TIMEOUT);

  EXPECT_EQ(WaitForSingleObject(automatic, 0), WAIT_OBJECT_0);  // initially set
  EXPECT_EQ(WaitForSingleObject(automatic, 0), WAIT_TIMEOUT);    // the wait took the signal
  SetEvent(automatic);
  SetEvent(automatic);  // a second set does not count twice
  EXPECT_EQ(WaitForSingleObject(automatic, 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(automatic, 0), WAIT_TIMEOUT);
}

TEST(EventTest, AutomaticResetReleasesOneWaiterPerSet) {
  THandles h;
  HANDLE ev = h.Event(false, false);
  std::atomic<int> woke{0};
  std::vector<std::thread> waiters;
  for (int i = 0; i < 3; ++i)
    waiters.emplace_back([&] {
      if (WaitForSingleObject(ev, 2000) == WAIT_OBJECT_0) ++woke;
    });
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  SetEvent(ev);
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_EQ(woke.load(), 1);
  // Each further set releases one more waiter.
  for (int i = 0; i < 100 && woke.load() < 3; ++i) {
    SetEvent(ev);
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  for (auto& t : waiters) t.join();
  EXPECT_EQ(woke.load(), 3);
}

TEST(WaitTest, WaitForAnyAnswersLowestSignalledIndex) {
  THandles h;
  HANDLE a = h.Event(true, false), b = h.Event(false, true), c = h.Event(true, true);
  HANDLE list[3] = {a, b, c};
  EXPECT_EQ(WaitForMultipleObjects(3, list, false, 0), WAIT_OBJECT_0 + 1);
  // b was automatic and is now clear: c is next.
  EXPECT_EQ(WaitForMultipleObjects(3, list, false, 0), WAIT_OBJECT_0 + 2);
  ResetEvent(c);
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(WaitForMultipleObjects(3, list, false, 60), WAIT_TIMEOUT);
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(55));
}

TEST(WaitTest, WaitForAllTakesEverySignalAtOnceOrNone) {
  THandles h;
  HANDLE manual = h.Event(true, true), automatic = h.Event(false, true), late = h.Event(true, false);
  HANDLE list[3] = {manual, automatic, late};
  EXPECT_EQ(WaitForMultipleObjects(3, list, true, 20), WAIT_TIMEOUT);
  // The failed wait for all did not take the automatic event's signal.
  EXPECT_EQ(WaitForSingleObject(automatic, 0), WAIT_OBJECT_0);
  SetEvent(automatic);

  std::thread setter([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    SetEvent(late);
  });
  EXPECT_EQ(WaitForMultipleObjects(3, list, true, 5000), WAIT_OBJECT_0);
  setter.join();
  EXPECT_EQ(WaitForSingleObject(automatic, 0), WAIT_TIMEOUT);  // taken by the wait for all
  EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_OBJECT_0);
}

TEST(WaitTest, BadArgumentsFailWithTheirError) {
  THandles h;
  HANDLE ev = h.Event(true, true);
  HANDLE closed = CreateEventW(nullptr, true, true, nullptr);
  ASSERT_TRUE(CloseHandle(closed));
  int local = 0;
  std::vector<HANDLE> many(MAXIMUM_WAIT_OBJECTS + 1, ev);
  HANDLE twice[2] = {ev, ev};
  HANDLE withClosed[2] = {ev, closed};
  HANDLE foreign[1] = {&local};

  struct Case {
    DWORD Count;
    const HANDLE* List;
    BOOL All;
    DWORD Error;
  } cases[] = {
      {0, twice, false, ERROR_INVALID_PARAMETER},
      {MAXIMUM_WAIT_OBJECTS + 1, many.data(), false, ERROR_INVALID_PARAMETER},
      {2, twice, true, ERROR_INVALID_PARAMETER},
      {2, withClosed, false, ERROR_INVALID_HANDLE},
      {1, foreign, false, ERROR_INVALID_HANDLE},
      {1, nullptr, false, ERROR_INVALID_PARAMETER},
  };
  for (const Case& c : cases) {
    SetLastError(0);
    EXPECT_EQ(WaitForMultipleObjects(c.Count, c.List, c.All, 0), WAIT_FAILED) << c.Count;
    EXPECT_EQ(GetLastError(), c.Error) << c.Count;
  }
  // A handle given twice is fine for a wait for any.
  EXPECT_EQ(WaitForMultipleObjects(2, twice, false, 0), WAIT_OBJECT_0);
  EXPECT_FALSE(CloseHandle(closed));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_FALSE(SetEvent(closed));
  EXPECT_FALSE(SetEvent(nullptr));
}

TEST(WaitTest, ClosingAHandleWhileAnotherThreadWaitsIsSafe) {
  HANDLE ev = CreateEventW(nullptr, true, false, nullptr);
  std::atomic<DWORD> result{1234};
  std::thread waiter([&] { result = WaitForSingleObject(ev, 150); });
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  EXPECT_TRUE(CloseHandle(ev));
  waiter.join();
  // A waiter already waiting times out; one that a loaded machine started
  // only after the close finds no handle. Either way it returns.
  EXPECT_TRUE(result.load() == WAIT_TIMEOUT || result.load() == WAIT_FAILED) << result.load();
}

TEST(TEventTest, WaitForResults) {
  TEvent* manual = New<TEvent>();  // manual reset, starts clear
  TEvent* automatic = New<TEvent>(nullptr, false, true, String());
  EXPECT_EQ(manual->WaitFor(0), wrTimeout);
  manual->SetEvent();
  EXPECT_EQ(manual->WaitFor(0), wrSignaled);
  EXPECT_EQ(manual->WaitFor(10), wrSignaled);
  manual->ResetEvent();
  EXPECT_EQ(manual->WaitFor(10), wrTimeout);
  EXPECT_EQ(automatic->WaitFor(0), wrSignaled);
  EXPECT_EQ(automatic->WaitFor(0), wrTimeout);

  std::thread setter([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    automatic->SetEvent();
  });
  EXPECT_EQ(automatic->WaitFor(INFINITE), wrSignaled);
  setter.join();
  Free(manual);
  Free(automatic);
}

TEST(TCriticalSectionTest, ExcludesOtherThreadsAndNestsInTheOwner) {
  TCriticalSection* cs = New<TCriticalSection>();
  cs->Enter();
  cs->Enter();  // the owner enters again
  std::atomic<bool> otherGotIn{false};
  std::thread other([&] {
    otherGotIn = cs->TryEnter();
    if (otherGotIn) cs->Leave();
  });
  other.join();
  EXPECT_FALSE(otherGotIn.load());
  cs->Leave();
  cs->Leave();

  int counter = 0;
  std::vector<std::thread> workers;
  for (int t = 0; t < 4; ++t)
    workers.emplace_back([&] {
      for (int i = 0; i < 2000; ++i) {
        cs->Acquire();
        int v = counter;
        counter = v + 1;
        cs->Release();
      }
    });
  for (auto& w : workers) w.join();
  EXPECT_EQ(counter, 8000);

  EXPECT_THROW(cs->Leave(), EInvalidOperation);  // not held
  Free(cs);
}

// The id is kept per thread: each thread answers its kernel id, the main
// thread the process id, and a forked child its own, not its parent's copy.
TEST(ThreadIdTest, EachThreadAndForkedChildAnswersItsOwn) {
  const DWORD main = GetCurrentThreadId();
  EXPECT_EQ(main, static_cast<DWORD>(::getpid()));
  EXPECT_EQ(GetCurrentThreadId(), main);
  DWORD other = 0, otherKernel = 0;
  std::thread t([&] {
    other = GetCurrentThreadId();
    otherKernel = static_cast<DWORD>(::syscall(SYS_gettid));
  });
  t.join();
  EXPECT_NE(other, main);
  EXPECT_EQ(other, otherKernel);

  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) ::_exit(GetCurrentThreadId() == static_cast<DWORD>(::getpid()) ? 0 : 1);
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}
