#include <windows.h>
#include <gtest/gtest.h>

#include <atomic>

namespace {

// Routines take one of these; each step is an event the test controls.
struct Gate {
  HANDLE go = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  HANDLE reached = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  HANDLE done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  std::atomic<int> runs{0};
  std::atomic<DWORD> seenId{0};
  ~Gate() {
    CloseHandle(go);
    CloseHandle(reached);
    CloseHandle(done);
  }
};

DWORD WINAPI countAndReturn(LPVOID raw) {
  auto* gate = static_cast<Gate*>(raw);
  gate->seenId = GetCurrentThreadId();
  ++gate->runs;
  SetEvent(gate->reached);
  WaitForSingleObject(gate->go, 5000);
  return 42;
}

struct SetOnDestruction {
  std::atomic<bool>& flag;
  ~SetOnDestruction() { flag = true; }
};
std::atomic<bool> g_unwound{false};

DWORD WINAPI exitEarly(LPVOID) {
  SetOnDestruction guard{g_unwound};
  ExitThread(7);
}

DWORD WINAPI waitThenSignal(LPVOID raw) {
  auto* gate = static_cast<Gate*>(raw);
  WaitForSingleObject(gate->go, 5000);
  SetEvent(gate->done);
  return 0;
}

DWORD WINAPI parkThenCount(LPVOID raw) {
  auto* gate = static_cast<Gate*>(raw);
  SetEvent(gate->reached);
  DWORD previous = SuspendThread(GetCurrentThread());
  ++gate->runs;
  return previous;
}

DWORD WINAPI spinOnSleep(LPVOID raw) {
  auto* gate = static_cast<Gate*>(raw);
  while (WaitForSingleObject(gate->go, 0) == static_cast<DWORD>(WAIT_TIMEOUT)) {
    ++gate->runs;
    Sleep(0);
  }
  return 0;
}

DWORD WINAPI readOwnPriority(LPVOID) {
  SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL);
  return static_cast<DWORD>(GetThreadPriority(GetCurrentThread()));
}

}  // namespace

TEST(Threads, CreateSuspendedRunsOnlyAfterResumeAndCountsDown) {
  Gate gate;
  DWORD id = 0;
  HANDLE thread = CreateThread(nullptr, 0, countAndReturn, &gate, CREATE_SUSPENDED, &id);
  ASSERT_NE(thread, nullptr);
  EXPECT_NE(id, 0u);
  EXPECT_EQ(WaitForSingleObject(gate.reached, 30), static_cast<DWORD>(WAIT_TIMEOUT));
  EXPECT_EQ(gate.runs.load(), 0) << "a suspended thread must not run its routine";

  EXPECT_EQ(SuspendThread(thread), 1u) << "suspending again stacks";
  EXPECT_EQ(ResumeThread(thread), 2u);
  EXPECT_EQ(ResumeThread(thread), 1u);
  EXPECT_EQ(ResumeThread(thread), 0u) << "resuming a running thread changes nothing";
  EXPECT_EQ(WaitForSingleObject(gate.reached, 5000), WAIT_OBJECT_0);
  EXPECT_EQ(gate.seenId.load(), id) << "lpThreadId is the id the thread sees";
  EXPECT_EQ(GetThreadId(thread), id);

  SetEvent(gate.go);
  EXPECT_EQ(WaitForSingleObject(thread, 5000), WAIT_OBJECT_0);
  EXPECT_EQ(ResumeThread(thread), 0u);
  EXPECT_EQ(SuspendThread(thread), 0xFFFFFFFFu) << "an ended thread cannot be suspended";
  EXPECT_TRUE(CloseHandle(thread));
}

TEST(Threads, ExitCodeIsStillActiveThenTheReturnValue) {
  Gate gate;
  HANDLE thread = CreateThread(nullptr, 0, countAndReturn, &gate, 0, nullptr);
  ASSERT_NE(thread, nullptr);
  ASSERT_EQ(WaitForSingleObject(gate.reached, 5000), WAIT_OBJECT_0);
  DWORD code = 0;
  EXPECT_TRUE(GetExitCodeThread(thread, &code));
  EXPECT_EQ(code, STILL_ACTIVE);
  EXPECT_EQ(WaitForSingleObject(thread, 20), static_cast<DWORD>(WAIT_TIMEOUT)) << "not signalled while running";

  SetEvent(gate.go);
  ASSERT_EQ(WaitForSingleObject(thread, 5000), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(thread, 0), WAIT_OBJECT_0) << "an ended thread stays signalled";
  EXPECT_TRUE(GetExitCodeThread(thread, &code));
  EXPECT_EQ(code, 42u);
  CloseHandle(thread);
}

TEST(Threads, ExitThreadEndsWithItsCodeAndRunsDestructors) {
  g_unwound = false;
  HANDLE thread = CreateThread(nullptr, 0, exitEarly, nullptr, 0, nullptr);
  ASSERT_NE(thread, nullptr);
  ASSERT_EQ(WaitForSingleObject(thread, 5000), WAIT_OBJECT_0);
  DWORD code = 0;
  EXPECT_TRUE(GetExitCodeThread(thread, &code));
  EXPECT_EQ(code, 7u);
  EXPECT_TRUE(g_unwound.load());
  CloseHandle(thread);
}

TEST(Threads, SelfSuspendedThreadIsWokenByAnother) {
  Gate gate;
  HANDLE thread = CreateThread(nullptr, 0, parkThenCount, &gate, 0, nullptr);
  ASSERT_NE(thread, nullptr);
  ASSERT_EQ(WaitForSingleObject(gate.reached, 5000), WAIT_OBJECT_0);
  // As the older board library wakes its parked threads: resume until the
  // thread reports that it had parked (previous count 1).
  DWORD previous = 0;
  for (int i = 0; i < 5000 && previous != 1; ++i) {
    previous = ResumeThread(thread);
    if (previous != 1) Sleep(1);
  }
  EXPECT_EQ(previous, 1u);
  ASSERT_EQ(WaitForSingleObject(thread, 5000), WAIT_OBJECT_0);
  EXPECT_EQ(gate.runs.load(), 1);
  DWORD code = 99;
  GetExitCodeThread(thread, &code);
  EXPECT_EQ(code, 0u) << "SuspendThread on itself returned the count before it parked";
  CloseHandle(thread);
}

TEST(Threads, SuspendedThreadStopsAtItsNextSleep) {
  Gate gate;
  HANDLE thread = CreateThread(nullptr, 0, spinOnSleep, &gate, 0, nullptr);
  ASSERT_NE(thread, nullptr);
  while (gate.runs.load() == 0) Sleep(1);
  EXPECT_EQ(SuspendThread(thread), 0u);
  Sleep(20);  // let it reach the safe point
  const int parkedAt = gate.runs.load();
  Sleep(30);
  EXPECT_EQ(gate.runs.load(), parkedAt) << "a suspended thread went on running";
  SetEvent(gate.go);
  EXPECT_EQ(WaitForSingleObject(thread, 30), static_cast<DWORD>(WAIT_TIMEOUT));
  EXPECT_EQ(ResumeThread(thread), 1u);
  EXPECT_EQ(WaitForSingleObject(thread, 5000), WAIT_OBJECT_0);
  CloseHandle(thread);
}

TEST(Threads, ClosingTheHandleOfARunningThreadLetsItRunOn) {
  Gate gate;
  HANDLE thread = CreateThread(nullptr, 0, waitThenSignal, &gate, 0, nullptr);
  ASSERT_NE(thread, nullptr);
  EXPECT_TRUE(CloseHandle(thread));
  EXPECT_EQ(WaitForSingleObject(thread, 0), WAIT_FAILED) << "the handle is gone";
  SetEvent(gate.go);
  EXPECT_EQ(WaitForSingleObject(gate.done, 5000), WAIT_OBJECT_0);
}

TEST(Threads, ThreadHandleWorksInMultipleWaitsAndDuplicates) {
  Gate gate;
  HANDLE thread = CreateThread(nullptr, 0, countAndReturn, &gate, 0, nullptr);
  ASSERT_NE(thread, nullptr);
  HANDLE copy = nullptr;
  ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), thread, GetCurrentProcess(), &copy, 0, FALSE,
                              DUPLICATE_SAME_ACCESS));
  CloseHandle(thread);
  HANDLE never = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  HANDLE both[] = {never, copy};
  SetEvent(gate.go);
  EXPECT_EQ(WaitForMultipleObjects(2, both, FALSE, 5000), WAIT_OBJECT_0 + 1);
  CloseHandle(never);
  CloseHandle(copy);
}

TEST(Threads, PriorityIsRecordedForValidValuesOnly) {
  Gate gate;
  HANDLE thread = CreateThread(nullptr, 0, countAndReturn, &gate, CREATE_SUSPENDED, nullptr);
  ASSERT_NE(thread, nullptr);
  EXPECT_EQ(GetThreadPriority(thread), THREAD_PRIORITY_NORMAL);
  for (int priority : {THREAD_PRIORITY_IDLE, THREAD_PRIORITY_LOWEST, THREAD_PRIORITY_HIGHEST,
                       THREAD_PRIORITY_TIME_CRITICAL, THREAD_PRIORITY_NORMAL}) {
    EXPECT_TRUE(SetThreadPriority(thread, priority)) << priority;
    EXPECT_EQ(GetThreadPriority(thread), priority);
  }
  SetLastError(0);
  EXPECT_FALSE(SetThreadPriority(thread, 7));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(GetThreadPriority(thread), THREAD_PRIORITY_NORMAL);
  ResumeThread(thread);
  SetEvent(gate.go);
  WaitForSingleObject(thread, 5000);
  CloseHandle(thread);

  HANDLE own = CreateThread(nullptr, 0, readOwnPriority, nullptr, 0, nullptr);
  ASSERT_EQ(WaitForSingleObject(own, 5000), WAIT_OBJECT_0);
  DWORD code = 0;
  GetExitCodeThread(own, &code);
  EXPECT_EQ(code, static_cast<DWORD>(THREAD_PRIORITY_TIME_CRITICAL)) << "through GetCurrentThread";
  CloseHandle(own);
}

TEST(Threads, PseudoHandleStandsForTheCallingThread) {
  DWORD code = 0;
  EXPECT_TRUE(GetExitCodeThread(GetCurrentThread(), &code));
  EXPECT_EQ(code, STILL_ACTIVE);
  EXPECT_TRUE(SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_HIGHEST));
  EXPECT_EQ(GetThreadPriority(GetCurrentThread()), THREAD_PRIORITY_HIGHEST);
  EXPECT_EQ(GetThreadId(GetCurrentThread()), GetCurrentThreadId());
  // This thread did not come from CreateThread: nobody could wake it.
  EXPECT_EQ(SuspendThread(GetCurrentThread()), 0xFFFFFFFFu);
  EXPECT_EQ(ResumeThread(GetCurrentThread()), 0u);
}

TEST(Threads, BadHandlesAndArgumentsFailWithAStatus) {
  HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  HANDLE bogus = reinterpret_cast<HANDLE>(static_cast<uintptr_t>(0x7FFFFFF0));
  for (HANDLE handle : {event, bogus, static_cast<HANDLE>(nullptr), INVALID_HANDLE_VALUE}) {
    SetLastError(0);
    EXPECT_EQ(ResumeThread(handle), 0xFFFFFFFFu);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_EQ(SuspendThread(handle), 0xFFFFFFFFu);
    EXPECT_EQ(GetThreadPriority(handle), THREAD_PRIORITY_ERROR_RETURN);
    EXPECT_FALSE(SetThreadPriority(handle, THREAD_PRIORITY_NORMAL));
    DWORD code;
    EXPECT_FALSE(GetExitCodeThread(handle, &code));
    EXPECT_EQ(GetThreadId(handle), 0u);
  }
  CloseHandle(event);
  EXPECT_FALSE(GetExitCodeThread(GetCurrentThread(), nullptr));
  SetLastError(0);
  EXPECT_EQ(CreateThread(nullptr, 0, nullptr, nullptr, 0, nullptr), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST(Threads, SleepAndSwitchToThreadReturn) {
  Sleep(0);
  EXPECT_TRUE(SwitchToThread());
  EXPECT_NE(GetCurrentThreadId(), 0u);
}
