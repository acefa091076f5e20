#include <windows.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace {

// Runs a lambda on a thread of the layer; the handle is closed on scope exit.
class LayerThread {
 public:
  explicit LayerThread(std::function<DWORD()> body) : body_(std::move(body)) {
    handle_ = CreateThread(nullptr, 0, &LayerThread::run, this, 0, nullptr);
  }
  ~LayerThread() {
    WaitForSingleObject(handle_, 5000);
    CloseHandle(handle_);
  }
  LayerThread(const LayerThread&) = delete;
  LayerThread& operator=(const LayerThread&) = delete;
  HANDLE handle() const { return handle_; }

 private:
  static DWORD WINAPI run(LPVOID self) { return static_cast<LayerThread*>(self)->body_(); }
  std::function<DWORD()> body_;
  HANDLE handle_;
};

const DWORD kTimeout = static_cast<DWORD>(WAIT_TIMEOUT);

// Slows the end of the thread that touches it: thread-local destructors run
// last-made first, so whatever clean-up was registered before this one
// happens only after the delay.
struct SlowThreadTeardown {
  bool armed = false;
  ~SlowThreadTeardown() {
    if (armed) Sleep(100);
  }
};

}  // namespace

TEST(Mutexes, WaitAllTakesTheEventAndTheMutexTogetherOrNeither) {
  HANDLE mutex = CreateMutexA(nullptr, FALSE, nullptr);
  HANDLE event = CreateEventA(nullptr, FALSE, TRUE, nullptr);  // auto reset, set
  HANDLE owned = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  HANDLE release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  LayerThread owner([&] {
    WaitForSingleObject(mutex, INFINITE);
    SetEvent(owned);
    WaitForSingleObject(release, 5000);
    ReleaseMutex(mutex);
    return DWORD{0};
  });
  ASSERT_EQ(WaitForSingleObject(owned, 5000), WAIT_OBJECT_0);

  HANDLE both[] = {event, mutex};
  EXPECT_EQ(WaitForMultipleObjects(2, both, TRUE, 30), kTimeout);
  EXPECT_EQ(WaitForMultipleObjects(2, both, FALSE, 0), WAIT_OBJECT_0) << "the event was left set";
  SetEvent(event);

  SetEvent(release);
  EXPECT_EQ(WaitForMultipleObjects(2, both, TRUE, 5000), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(event, 0), kTimeout) << "wait-all consumed the auto-reset event";
  EXPECT_TRUE(ReleaseMutex(mutex)) << "wait-all made this thread the owner";
  for (HANDLE h : {mutex, event, owned, release}) CloseHandle(h);
}

TEST(Mutexes, OwnerThatEndsLeavesTheMutexAbandonedForTheNextWaiter) {
  HANDLE mutex = CreateMutexA(nullptr, FALSE, nullptr);
  {
    LayerThread owner([&] {
      DWORD got = WaitForSingleObject(mutex, 0);
      thread_local SlowThreadTeardown slow;
      slow.armed = true;
      return got;
    });
    ASSERT_EQ(WaitForSingleObject(owner.handle(), 5000), WAIT_OBJECT_0);
    // No grace period: the thread handle signals only once its mutexes are free.
    EXPECT_EQ(WaitForSingleObject(mutex, 0), WAIT_ABANDONED);
  }
  EXPECT_TRUE(ReleaseMutex(mutex)) << "the abandoned mutex now belongs to this thread";
  EXPECT_EQ(WaitForSingleObject(mutex, 0), WAIT_OBJECT_0) << "abandonment is reported once";
  EXPECT_TRUE(ReleaseMutex(mutex));
  CloseHandle(mutex);
}

TEST(Mutexes, BlockedWaiterGetsAbandonedAtItsIndexWhenAnyThreadEnds) {
  HANDLE mutex = CreateMutexA(nullptr, FALSE, nullptr);
  HANDLE never = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  HANDLE taken = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  HANDLE finish = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  // A plain std::thread, not one of the layer's, owns it this time.
  std::thread owner([&] {
    WaitForSingleObject(mutex, 0);
    SetEvent(taken);
    WaitForSingleObject(finish, 5000);
  });
  ASSERT_EQ(WaitForSingleObject(taken, 5000), WAIT_OBJECT_0);
  DWORD result = 0;
  LayerThread waiter([&] {
    HANDLE pair[] = {never, mutex};
    result = WaitForMultipleObjects(2, pair, FALSE, 5000);
    if (result == WAIT_ABANDONED_0 + 1) ReleaseMutex(mutex);
    return DWORD{0};
  });
  EXPECT_EQ(WaitForSingleObject(waiter.handle(), 20), kTimeout);
  SetEvent(finish);
  owner.join();
  ASSERT_EQ(WaitForSingleObject(waiter.handle(), 5000), WAIT_OBJECT_0);
  EXPECT_EQ(result, WAIT_ABANDONED_0 + 1);
  for (HANDLE h : {mutex, never, taken, finish}) CloseHandle(h);
}

TEST(Mutexes, OwnerMayTakeItAgainAndMustReleaseEachTime) {
  HANDLE mutex = CreateMutexA(nullptr, TRUE, nullptr);
  EXPECT_EQ(WaitForSingleObject(mutex, 0), WAIT_OBJECT_0);
  auto otherGets = [&] {
    DWORD got = 0;
    LayerThread other([&] {
      got = WaitForSingleObject(mutex, 0);
      if (got == WAIT_OBJECT_0) ReleaseMutex(mutex);
      return DWORD{0};
    });
    WaitForSingleObject(other.handle(), 5000);
    return got;
  };
  EXPECT_TRUE(ReleaseMutex(mutex));
  EXPECT_EQ(otherGets(), kTimeout) << "still held once";
  EXPECT_TRUE(ReleaseMutex(mutex));
  EXPECT_EQ(otherGets(), WAIT_OBJECT_0);
  SetLastError(0);
  EXPECT_FALSE(ReleaseMutex(mutex));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_OWNER));
  CloseHandle(mutex);
}

TEST(NamedObjects, SecondCreateAndOpenReachTheSameObject) {
  HANDLE first = CreateEventA(nullptr, TRUE, FALSE, "SyncTestEventA");
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
  HANDLE second = CreateEventA(nullptr, FALSE, TRUE, "SyncTestEventA");
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  EXPECT_NE(second, first);
  EXPECT_EQ(WaitForSingleObject(second, 0), kTimeout) << "the existing event keeps its state and kind";
  HANDLE opened = OpenEventA(EVENT_ALL_ACCESS, FALSE, "SyncTestEventA");
  ASSERT_NE(opened, nullptr);
  SetEvent(opened);
  EXPECT_EQ(WaitForSingleObject(first, 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(second, 0), WAIT_OBJECT_0) << "manual reset, as first created";

  SetLastError(0);
  EXPECT_EQ(CreateMutexA(nullptr, FALSE, "SyncTestEventA"), nullptr) << "the name belongs to an event";
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_EQ(OpenMutexA(MUTEX_ALL_ACCESS, FALSE, "SyncTestEventA"), nullptr);

  for (HANDLE h : {first, second, opened}) CloseHandle(h);
  SetLastError(0);
  EXPECT_EQ(OpenEventA(EVENT_ALL_ACCESS, FALSE, "SyncTestEventA"), nullptr) << "gone with its last handle";
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  HANDLE fresh = CreateEventA(nullptr, TRUE, FALSE, "SyncTestEventA");
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
  CloseHandle(fresh);
}

// Names made of thread ids come again and again: each is forgotten with
// the last handle of its object, whichever handle that is.
TEST(NamedObjects, ANameIsForgottenWithItsLastHandle) {
  const std::function<HANDLE(const char*)> makes[] = {
      [](const char* name) { return CreateEventA(nullptr, TRUE, FALSE, name); },
      [](const char* name) { return CreateMutexA(nullptr, FALSE, name); },
      [](const char* name) { return CreateSemaphoreA(nullptr, 0, 1, name); },
      [](const char* name) {
        return CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 4096, name);
      },
  };
  const DWORD before = PlatNamedObjectCount();
  for (const auto& make : makes) {
    for (bool firstClosesFirst : {true, false}) {
      const std::string name = "SyncTestForgotten" + std::to_string(GetCurrentProcessId());
      HANDLE first = make(name.c_str());
      HANDLE second = make(name.c_str());
      ASSERT_NE(first, nullptr);
      ASSERT_NE(second, nullptr);
      EXPECT_EQ(PlatNamedObjectCount(), before + 1);
      CloseHandle(firstClosesFirst ? first : second);
      EXPECT_EQ(PlatNamedObjectCount(), before + 1) << "one handle still holds it";
      CloseHandle(firstClosesFirst ? second : first);
      EXPECT_EQ(PlatNamedObjectCount(), before);
    }
  }
}

TEST(NamedObjects, NamedMutexOpensAndIgnoresInitialOwnerWhenItExists) {
  HANDLE mutex = CreateMutexA(nullptr, TRUE, "SyncTestMutex");
  HANDLE again = CreateMutexA(nullptr, TRUE, "SyncTestMutex");
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  EXPECT_TRUE(ReleaseMutex(mutex));
  EXPECT_FALSE(ReleaseMutex(again)) << "the second create did not take it again";
  HANDLE opened = OpenMutexA(MUTEX_ALL_ACCESS, FALSE, "SyncTestMutex");
  EXPECT_EQ(WaitForSingleObject(opened, 0), WAIT_OBJECT_0);
  EXPECT_TRUE(ReleaseMutex(mutex));
  for (HANDLE h : {mutex, again, opened}) CloseHandle(h);
}

TEST(Semaphores, CountsGoDownWithWaitsAndUpWithReleasesToTheMaximum) {
  HANDLE semaphore = CreateSemaphoreA(nullptr, 2, 3, nullptr);
  ASSERT_NE(semaphore, nullptr);
  EXPECT_EQ(WaitForSingleObject(semaphore, 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(semaphore, 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(semaphore, 0), kTimeout);
  LONG previous = -1;
  EXPECT_TRUE(ReleaseSemaphore(semaphore, 3, &previous));
  EXPECT_EQ(previous, 0);
  SetLastError(0);
  EXPECT_FALSE(ReleaseSemaphore(semaphore, 1, &previous)) << "beyond the maximum";
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_TOO_MANY_POSTS));
  EXPECT_FALSE(ReleaseSemaphore(semaphore, 0, nullptr));
  EXPECT_EQ(WaitForSingleObject(semaphore, 0), WAIT_OBJECT_0) << "a failed release changed nothing";
  EXPECT_TRUE(ReleaseSemaphore(semaphore, 1, &previous));
  EXPECT_EQ(previous, 2);
  CloseHandle(semaphore);
  for (auto [initial, maximum] : {std::pair{0, 0}, std::pair{-1, 2}, std::pair{3, 2}}) {
    SetLastError(0);
    EXPECT_EQ(CreateSemaphoreA(nullptr, initial, maximum, nullptr), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  }
}

TEST(Waits, LowestSignalledIndexWinsAndOnlyItIsConsumed) {
  HANDLE events[3];
  for (HANDLE& e : events) e = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  SetEvent(events[2]);
  SetEvent(events[1]);
  EXPECT_EQ(WaitForMultipleObjects(3, events, FALSE, 0), WAIT_OBJECT_0 + 1);
  EXPECT_EQ(WaitForMultipleObjects(3, events, FALSE, 0), WAIT_OBJECT_0 + 2);
  EXPECT_EQ(WaitForMultipleObjects(3, events, FALSE, 0), kTimeout);
  for (HANDLE e : events) CloseHandle(e);
}

TEST(Waits, BadArgumentsFail) {
  HANDLE event = CreateEventA(nullptr, TRUE, TRUE, nullptr);
  std::vector<HANDLE> many(MAXIMUM_WAIT_OBJECTS + 1, event);
  struct Case {
    DWORD count;
    const HANDLE* handles;
    DWORD error;
  } cases[] = {
      {0, many.data(), ERROR_INVALID_PARAMETER},
      {MAXIMUM_WAIT_OBJECTS + 1, many.data(), ERROR_INVALID_PARAMETER},
      {1, nullptr, ERROR_INVALID_PARAMETER},
  };
  for (const Case& c : cases) {
    SetLastError(0);
    EXPECT_EQ(WaitForMultipleObjects(c.count, c.handles, FALSE, 0), WAIT_FAILED);
    EXPECT_EQ(GetLastError(), c.error);
  }
  HANDLE mixed[] = {event, reinterpret_cast<HANDLE>(static_cast<uintptr_t>(0x7FFFFFF0))};
  EXPECT_EQ(WaitForMultipleObjects(2, mixed, FALSE, 0), WAIT_FAILED) << "one bad handle fails the whole wait";
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  CloseHandle(event);
  EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_FAILED);
}

TEST(CriticalSections, RecursivePerThreadAndExclusiveBetweenThreads) {
  CRITICAL_SECTION section;
  InitializeCriticalSection(&section);
  EnterCriticalSection(&section);
  EXPECT_TRUE(TryEnterCriticalSection(&section)) << "the owner enters again";
  auto otherEnters = [&] {
    BOOL entered = FALSE;
    std::thread([&] {
      entered = TryEnterCriticalSection(&section);
      if (entered) LeaveCriticalSection(&section);
    }).join();
    return entered;
  };
  EXPECT_FALSE(otherEnters());
  LeaveCriticalSection(&section);
  EXPECT_FALSE(otherEnters()) << "entered twice, left once";
  LeaveCriticalSection(&section);
  EXPECT_TRUE(otherEnters());

  long counter = 0;  // guarded by the section only
  std::vector<std::thread> workers;
  for (int t = 0; t < 4; ++t) {
    workers.emplace_back([&] {
      for (int i = 0; i < 20000; ++i) {
        EnterCriticalSection(&section);
        ++counter;
        LeaveCriticalSection(&section);
      }
    });
  }
  for (auto& w : workers) w.join();
  EXPECT_EQ(counter, 80000);
  DeleteCriticalSection(&section);

  EXPECT_TRUE(InitializeCriticalSectionAndSpinCount(&section, 4000));
  DeleteCriticalSection(&section);
  // NULL is refused rather than dereferenced.
  EnterCriticalSection(nullptr);
  EXPECT_FALSE(TryEnterCriticalSection(nullptr));
  LeaveCriticalSection(nullptr);
}

TEST(Interlocked, ReturnsAsOnWindowsAndIsAtomic) {
  volatile LONG value = 5;
  EXPECT_EQ(InterlockedIncrement(&value), 6);
  EXPECT_EQ(InterlockedDecrement(&value), 5);
  EXPECT_EQ(InterlockedExchange(&value, 9), 5);
  EXPECT_EQ(InterlockedExchangeAdd(&value, -4), 9);
  EXPECT_EQ(InterlockedCompareExchange(&value, 1, 3), 5) << "no match leaves the value";
  EXPECT_EQ(value, 5);
  EXPECT_EQ(InterlockedCompareExchange(&value, 1, 5), 5);
  EXPECT_EQ(value, 1);

  int a = 0, b = 0;
  PVOID volatile slot = &a;
  EXPECT_EQ(InterlockedExchangePointer(&slot, &b), &a);
  EXPECT_EQ(InterlockedCompareExchangePointer(&slot, &a, &a), &b);
  EXPECT_EQ(slot, &b);
  EXPECT_EQ(InterlockedCompareExchangePointer(&slot, &a, &b), &b);
  EXPECT_EQ(slot, &a);

  volatile LONG shared = 0;
  std::vector<std::thread> workers;
  for (int t = 0; t < 4; ++t) {
    workers.emplace_back([&] {
      for (int i = 0; i < 20000; ++i) InterlockedIncrement(&shared);
    });
  }
  for (auto& w : workers) w.join();
  EXPECT_EQ(shared, 80000);
}
