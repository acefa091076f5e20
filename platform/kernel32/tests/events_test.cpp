#include <windows.h>
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

TEST(Events, InitialStateAndTimeout) {
  HANDLE set = CreateEventA(nullptr, TRUE, TRUE, nullptr);
  HANDLE unset = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  ASSERT_NE(set, nullptr);
  EXPECT_EQ(WaitForSingleObject(set, 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(set, 0), WAIT_OBJECT_0) << "manual reset stays set";
  EXPECT_EQ(WaitForSingleObject(unset, 20), static_cast<DWORD>(WAIT_TIMEOUT));
  EXPECT_TRUE(CloseHandle(set));
  EXPECT_TRUE(CloseHandle(unset));
  EXPECT_FALSE(CloseHandle(set));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST(Events, HandleValuesFitThirtyOneBitsAndAreNotReused) {
  HANDLE first = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  uintptr_t value = reinterpret_cast<uintptr_t>(first);
  EXPECT_NE(value, 0u);
  EXPECT_LT(value, 0x80000000u);
  EXPECT_EQ(value % 4, 0u);
  CloseHandle(first);
  HANDLE second = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  EXPECT_NE(second, first);
  CloseHandle(second);
}

TEST(Events, AWrappedHandleCounterSkipsValuesStillInUse) {
  auto value = [](HANDLE h) { return reinterpret_cast<uintptr_t>(h); };
  const DWORD saved = PlatSetNextHandleValue(0);  // the start of the range
  HANDLE live = CreateEventA(nullptr, TRUE, TRUE, nullptr);
  PlatSetNextHandleValue(0x7FFFFFFC);
  HANDLE last = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  HANDLE wrapped = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  PlatSetNextHandleValue(saved);
  EXPECT_EQ(value(last), 0x7FFFFFFCu);
  EXPECT_NE(wrapped, live);
  EXPECT_GT(value(wrapped), value(live)) << "every value from the start up to it is in use";
  EXPECT_LT(value(wrapped), 0x80000000u);
  EXPECT_EQ(WaitForSingleObject(live, 0), WAIT_OBJECT_0) << "each value still names its own event";
  EXPECT_EQ(WaitForSingleObject(wrapped, 0), static_cast<DWORD>(WAIT_TIMEOUT));
  for (HANDLE h : {live, last, wrapped}) CloseHandle(h);
}

TEST(Events, PseudoHandlesAndTaggedValuesNameTheirObjects) {
  // The process and the calling thread are running: waits on them time out.
  EXPECT_EQ(WaitForSingleObject(GetCurrentProcess(), 0), static_cast<DWORD>(WAIT_TIMEOUT));
  EXPECT_EQ(WaitForSingleObject(GetCurrentThread(), 0), static_cast<DWORD>(WAIT_TIMEOUT));
  HANDLE event = CreateEventA(nullptr, TRUE, TRUE, nullptr);
  for (uintptr_t bits : {1u, 2u, 3u}) {
    HANDLE tagged = reinterpret_cast<HANDLE>(reinterpret_cast<uintptr_t>(event) | bits);
    EXPECT_EQ(WaitForSingleObject(tagged, 0), WAIT_OBJECT_0) << bits;
  }
  CloseHandle(event);
}

TEST(Events, AutoResetWakesOneWaiterManualResetWakesAll) {
  // Timeouts only bound a broken wait, so a loaded machine cannot fail it.
  for (BOOL manual : {FALSE, TRUE}) {
    HANDLE event = CreateEventA(nullptr, manual, FALSE, nullptr);
    std::atomic<int> woken{0};
    std::vector<std::thread> waiters;
    for (int i = 0; i < 4; ++i) {
      waiters.emplace_back([&] {
        if (WaitForSingleObject(event, 10000) == WAIT_OBJECT_0) ++woken;
      });
    }
    auto setAndAwait = [&](int count) {
      SetEvent(event);
      for (int i = 0; i < 1000 && woken.load() < count; ++i) Sleep(5);
    };
    const int expected = manual ? 4 : 1;
    setAndAwait(expected);
    Sleep(20);  // room for a wrongly woken second waiter to show
    EXPECT_EQ(woken.load(), expected) << (manual ? "manual" : "auto");
    for (int i = expected + 1; i <= 4; ++i) setAndAwait(i);  // the others go one set each
    for (auto& t : waiters) t.join();
    EXPECT_EQ(woken.load(), 4);
    CloseHandle(event);
  }
}
