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

TEST(Events, AutoResetWakesOneWaiterManualResetWakesAll) {
  for (BOOL manual : {FALSE, TRUE}) {
    HANDLE event = CreateEventA(nullptr, manual, FALSE, nullptr);
    std::atomic<int> woken{0};
    std::vector<std::thread> waiters;
    for (int i = 0; i < 4; ++i) {
      waiters.emplace_back([&] {
        if (WaitForSingleObject(event, 300) == WAIT_OBJECT_0) ++woken;
      });
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    SetEvent(event);
    for (auto& t : waiters) t.join();
    EXPECT_EQ(woken.load(), manual ? 4 : 1) << (manual ? "manual" : "auto");
    CloseHandle(event);
  }
}
