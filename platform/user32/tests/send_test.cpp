#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <thread>

#include "window_fixture.h"

TEST(Send, SameThreadCallsTheProcedureDirectly) {
  Recorder recorder;
  recorder.handler = [](HWND, UINT m, WPARAM w, LPARAM l) -> std::optional<LRESULT> {
    if (m == WM_USER) return static_cast<LRESULT>(w) + l;
    return std::nullopt;
  };
  HWND hwnd = makeWindow(&recorder);
  EXPECT_EQ(SendMessageA(hwnd, WM_USER, 40, 2), 42);
  EXPECT_EQ(SendMessageA(reinterpret_cast<HWND>(0x7ffffffc), WM_USER, 0, 0), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
  DestroyWindow(hwnd);
}

TEST(Send, CrossThreadRunsOnTheWindowsThreadAndReturnsTheResult) {
  Recorder recorder;
  recorder.handler = [](HWND, UINT m, WPARAM w, LPARAM) -> std::optional<LRESULT> {
    if (m == WM_USER) return static_cast<LRESULT>(w) * 2;
    return std::nullopt;
  };
  WindowThread owner(&recorder);
  ASSERT_TRUE(owner.hwnd());
  EXPECT_EQ(SendMessageA(owner.hwnd(), WM_USER, 21, 0), 42);
  EXPECT_NE(recorder.thread, std::this_thread::get_id());
  std::thread::id ran = recorder.thread;
  owner.stop();
  EXPECT_EQ(recorder.thread, ran);
  EXPECT_EQ(recorder.count(WM_USER), 1u);
}

TEST(Send, TwoThreadsSendingToEachOtherDoNotDeadlock) {
  // Each window, asked with WM_USER, asks the other one with WM_USER + 1.
  Recorder left, right;
  std::atomic<HWND> leftHwnd{nullptr}, rightHwnd{nullptr};
  left.handler = [&](HWND, UINT m, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (m == WM_USER) return SendMessageA(rightHwnd, WM_USER + 1, 0, 0) + 1;
    if (m == WM_USER + 1) return 100;
    return std::nullopt;
  };
  right.handler = [&](HWND, UINT m, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (m == WM_USER) return SendMessageA(leftHwnd, WM_USER + 1, 0, 0) + 2;
    if (m == WM_USER + 1) return 200;
    return std::nullopt;
  };
  WindowThread a(&left), b(&right);
  leftHwnd = a.hwnd();
  rightHwnd = b.hwnd();

  // Both start at once: each is blocked in its send while the other's
  // request reaches it.
  std::promise<void> go;
  std::shared_future<void> start = go.get_future().share();
  auto first = std::async(std::launch::async, [&] {
    start.wait();
    return SendMessageA(leftHwnd, WM_USER, 0, 0);
  });
  auto second = std::async(std::launch::async, [&] {
    start.wait();
    return SendMessageA(rightHwnd, WM_USER, 0, 0);
  });
  go.set_value();
  EXPECT_EQ(first.get(), 201);
  EXPECT_EQ(second.get(), 102);
}

TEST(Send, NestedSendBackToTheSenderIsServedWhileItWaits) {
  Recorder recorder;
  HWND mine = nullptr;
  Recorder own;
  own.handler = [](HWND, UINT m, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (m == WM_USER + 1) return 7;
    return std::nullopt;
  };
  mine = makeWindow(&own);
  recorder.handler = [&](HWND, UINT m, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (m == WM_USER) return SendMessageA(mine, WM_USER + 1, 0, 0) * 6;
    return std::nullopt;
  };
  WindowThread other(&recorder);
  EXPECT_EQ(SendMessageA(other.hwnd(), WM_USER, 0, 0), 42);
  EXPECT_EQ(own.thread, std::this_thread::get_id());
  other.stop();
  DestroyWindow(mine);
}

TEST(Send, WaitingSenderGetsZeroWhenTheWindowGoesAway) {
  // The window's thread, busy in one message, destroys its window before
  // it reads the queue again: the send behind it returns 0.
  Recorder recorder;
  std::promise<void> busy, release;
  auto releaseFuture = release.get_future();
  recorder.handler = [&](HWND hwnd, UINT m, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (m == WM_USER) {
      busy.set_value();
      releaseFuture.wait();
      DestroyWindow(hwnd);
      return 1;
    }
    if (m == WM_USER + 1) return 5;
    return std::nullopt;
  };
  WindowThread owner(&recorder);
  HWND hwnd = owner.hwnd();
  PostMessageA(hwnd, WM_USER, 0, 0);
  busy.get_future().wait();
  auto late = std::async(std::launch::async, [hwnd] { return SendMessageA(hwnd, WM_USER + 1, 0, 0); });
  // The late send is queued (or fails at once if the window is gone).
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  release.set_value();
  EXPECT_EQ(late.get(), 0);
  EXPECT_FALSE(IsWindow(hwnd));
  EXPECT_FALSE(PostMessageA(hwnd, WM_USER, 0, 0));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
}

TEST(Send, WaitingSenderGetsZeroWhenTheTargetThreadEnds) {
  Recorder recorder;
  std::promise<HWND> made;
  std::promise<void> queued;
  auto queuedFuture = queued.get_future();
  std::thread owner([&] {
    HWND hwnd = makeWindow(&recorder);
    made.set_value(hwnd);
    queuedFuture.wait();  // ends without ever reading its queue
  });
  HWND hwnd = made.get_future().get();
  auto sender = std::async(std::launch::async, [hwnd] { return SendMessageA(hwnd, WM_USER, 0, 0); });
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  queued.set_value();
  owner.join();
  EXPECT_EQ(sender.get(), 0);
  EXPECT_FALSE(IsWindow(hwnd)) << "a thread's windows end with it";
  EXPECT_EQ(recorder.count(WM_USER), 0u);
}

TEST(Send, TimeoutEndsTheWaitForABusyThread) {
  Recorder recorder;
  std::promise<void> busy, release;
  auto releaseFuture = release.get_future().share();
  recorder.handler = [&busy, releaseFuture](HWND, UINT m, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (m == WM_USER) {
      busy.set_value();
      releaseFuture.wait();
    }
    return std::nullopt;
  };
  WindowThread owner(&recorder);
  PostMessageA(owner.hwnd(), WM_USER, 0, 0);
  busy.get_future().wait();
  DWORD_PTR result = 123;
  EXPECT_EQ(SendMessageTimeoutA(owner.hwnd(), WM_USER + 1, 0, 0, SMTO_NORMAL, 30, &result), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_TIMEOUT));
  EXPECT_EQ(result, 123u);
  release.set_value();
  EXPECT_EQ(SendMessageTimeoutA(owner.hwnd(), WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, 5000, &result), 1);
  EXPECT_EQ(result, 4u) << "\"test\"";
  owner.stop();
  EXPECT_EQ(recorder.count(WM_USER + 1), 0u) << "a timed-out call is withdrawn";
}
