#include <gtest/gtest.h>

#include <thread>

#include "window_fixture.h"

namespace {
std::vector<UINT> drain(HWND filter = nullptr, UINT first = 0, UINT last = 0) {
  std::vector<UINT> seen;
  MSG msg;
  while (PeekMessageA(&msg, filter, first, last, PM_REMOVE)) seen.push_back(msg.message);
  return seen;
}
}  // namespace

TEST(Queue, PostedMessagesComeOutInOrderWithTheirParameters) {
  Recorder recorder;
  HWND hwnd = makeWindow(&recorder);
  ASSERT_TRUE(hwnd);
  ASSERT_TRUE(PostMessageA(hwnd, WM_USER + 1, 11, 12));
  ASSERT_TRUE(PostMessageA(nullptr, WM_USER + 2, 21, 22));
  ASSERT_TRUE(PostMessageA(hwnd, WM_APP, 31, 32));

  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
  EXPECT_EQ(msg.message, WM_USER + 1u) << "PM_NOREMOVE leaves the message";
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.hwnd, hwnd);
  EXPECT_EQ(msg.message, WM_USER + 1u);
  EXPECT_EQ(msg.wParam, 11u);
  EXPECT_EQ(msg.lParam, 12);
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.hwnd, nullptr);
  EXPECT_EQ(msg.message, WM_USER + 2u);
  EXPECT_EQ(drain(), std::vector<UINT>{WM_APP});
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  DestroyWindow(hwnd);
}

TEST(Queue, WindowAndRangeFiltersSkipWithoutLosing) {
  Recorder a, b;
  HWND one = makeWindow(&a), two = makeWindow(&b);
  drain();  // WM_PAINT is not pending: the windows are hidden
  PostMessageA(one, WM_USER + 1, 0, 0);
  PostMessageA(two, WM_USER + 2, 0, 0);
  PostMessageA(nullptr, WM_USER + 3, 0, 0);
  PostMessageA(one, WM_APP + 1, 0, 0);

  EXPECT_EQ(drain(two), std::vector<UINT>{WM_USER + 2});
  EXPECT_EQ(drain(reinterpret_cast<HWND>(-1)), std::vector<UINT>{WM_USER + 3}) << "-1: thread messages only";
  EXPECT_EQ(drain(nullptr, WM_APP, 0xBFFF), std::vector<UINT>{WM_APP + 1});
  EXPECT_EQ(drain(), std::vector<UINT>{WM_USER + 1});

  MSG msg;
  EXPECT_FALSE(PeekMessageA(&msg, reinterpret_cast<HWND>(0x7ffffffc), 0, 0, PM_REMOVE));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
  EXPECT_FALSE(PeekMessageA(nullptr, nullptr, 0, 0, PM_REMOVE));
  DestroyWindow(one);
  DestroyWindow(two);
}

TEST(Queue, GetMessageReturnsZeroOnQuitAfterPostedMessages) {
  PostMessageA(nullptr, WM_USER, 0, 0);
  PostQuitMessage(7);
  MSG msg;
  EXPECT_EQ(GetMessageA(&msg, nullptr, 0, 0), TRUE);
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER));
  // The quit passes even a range that excludes it.
  EXPECT_EQ(GetMessageA(&msg, nullptr, WM_APP, WM_APP), FALSE);
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
  EXPECT_EQ(msg.wParam, 7u);
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) << "the quit is taken once";
  EXPECT_EQ(GetMessageA(&msg, reinterpret_cast<HWND>(0x7ffffffc), 0, 0), -1);
}

TEST(Queue, GetMessageWaitsForAPostFromAnotherThread) {
  DWORD self = GetCurrentThreadId();
  MSG msg;
  PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);  // makes the queue
  std::thread poster([self] { EXPECT_TRUE(PostThreadMessageA(self, WM_USER + 5, 1, 2)); });
  EXPECT_EQ(GetMessageA(&msg, nullptr, 0, 0), TRUE);
  EXPECT_EQ(msg.message, WM_USER + 5u);
  poster.join();
}

TEST(Queue, PostThreadMessageNeedsAThreadWithAQueue) {
  EXPECT_FALSE(PostThreadMessageA(0x7ffffff0, WM_USER, 0, 0));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_THREAD_ID));

  // A thread's queue goes with it.
  DWORD ended = 0;
  std::thread([&] {
    Recorder recorder;
    HWND hwnd = makeWindow(&recorder);
    ended = GetWindowThreadProcessId(hwnd, nullptr);
    EXPECT_TRUE(PostThreadMessageA(ended, WM_USER, 0, 0));
  }).join();
  EXPECT_FALSE(PostThreadMessageA(ended, WM_USER, 0, 0));
}

TEST(Dispatch, ReachesTheProcedureWithItsUserData) {
  Recorder recorder;
  std::vector<std::pair<WPARAM, LPARAM>> got;
  recorder.handler = [&](HWND, UINT m, WPARAM w, LPARAM l) -> std::optional<LRESULT> {
    if (m != WM_USER) return std::nullopt;
    got.emplace_back(w, l);
    return 42;
  };
  HWND hwnd = makeWindow(&recorder);
  EXPECT_EQ(GetWindowLongPtrA(hwnd, GWLP_USERDATA), reinterpret_cast<LONG_PTR>(&recorder));
  PostMessageA(hwnd, WM_USER, 3, 4);
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_USER, WM_USER, PM_REMOVE));
  EXPECT_FALSE(TranslateMessage(&msg));
  EXPECT_EQ(DispatchMessageA(&msg), 42);
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0], (std::pair<WPARAM, LPARAM>(3, 4)));

  EXPECT_EQ(DispatchMessageA(nullptr), 0);
  MSG stale = msg;
  DestroyWindow(hwnd);
  EXPECT_EQ(DispatchMessageA(&stale), 0) << "a message for a destroyed window goes nowhere";
}

TEST(Dispatch, ReplacedProcedureTakesOver) {
  Recorder recorder;
  HWND hwnd = makeWindow(&recorder);
  static WNDPROC original;
  original = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
      hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(+[](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
        if (m == WM_USER) return 99;
        return CallWindowProcA(original, h, m, w, l);
      })));
  EXPECT_EQ(original, &recordingProc);
  EXPECT_EQ(SendMessageA(hwnd, WM_USER, 0, 0), 99);
  EXPECT_TRUE(DestroyWindow(hwnd));
  EXPECT_EQ(recorder.count(WM_DESTROY), 1u) << "the original still sees what it is passed";
}

TEST(Wait, MsgWaitForMultipleObjectsWokenByAPostFromAnotherThread) {
  HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  Recorder recorder;
  HWND hwnd = makeWindow(&recorder);
  drain();
  EXPECT_EQ(MsgWaitForMultipleObjects(1, &event, FALSE, 0, QS_ALLINPUT), static_cast<DWORD>(WAIT_TIMEOUT));

  std::thread poster([hwnd] { PostMessageA(hwnd, WM_USER, 0, 0); });
  EXPECT_EQ(MsgWaitForMultipleObjects(1, &event, FALSE, 5000, QS_ALLINPUT), WAIT_OBJECT_0 + 1);
  poster.join();
  EXPECT_EQ(drain(), std::vector<UINT>{WM_USER});
  EXPECT_EQ(MsgWaitForMultipleObjects(1, &event, FALSE, 0, QS_ALLINPUT), static_cast<DWORD>(WAIT_TIMEOUT))
      << "read input is not new any more";

  SetEvent(event);
  EXPECT_EQ(MsgWaitForMultipleObjects(1, &event, FALSE, 0, QS_ALLINPUT), WAIT_OBJECT_0);
  HANDLE bogus = reinterpret_cast<HANDLE>(0x7ffffff0);
  EXPECT_EQ(MsgWaitForMultipleObjects(1, &bogus, FALSE, 0, QS_ALLINPUT), WAIT_FAILED);
  EXPECT_EQ(MsgWaitForMultipleObjects(0, nullptr, FALSE, 0, QS_ALLINPUT), static_cast<DWORD>(WAIT_TIMEOUT));
  CloseHandle(event);
  DestroyWindow(hwnd);
}

TEST(Wait, WakeMaskSelectsTheKindOfInput) {
  drain();
  PostMessageA(nullptr, WM_USER, 0, 0);
  EXPECT_EQ(MsgWaitForMultipleObjects(0, nullptr, FALSE, 0, QS_PAINT), static_cast<DWORD>(WAIT_TIMEOUT));
  EXPECT_EQ(MsgWaitForMultipleObjects(0, nullptr, FALSE, 0, QS_POSTMESSAGE), WAIT_OBJECT_0);
  drain();
}

namespace {
void CALLBACK countCalls(void* user) { ++*static_cast<int*>(user); }
}  // namespace

TEST(PumpHook, RunsInsidePeekAndWhileWaiting) {
  int calls = 0;
  PlatSetMessagePumpHook(countCalls, &calls);
  MSG msg;
  PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE);
  EXPECT_EQ(calls, 1);

  // A wait keeps calling the hook until input arrives.
  std::pair<int*, DWORD> state(&calls, GetCurrentThreadId());
  PlatSetMessagePumpHook(
      [](void* user) {
        auto* s = static_cast<std::pair<int*, DWORD>*>(user);
        if (++*s->first == 5) PostThreadMessageA(s->second, WM_USER, 0, 0);
      },
      &state);
  calls = 0;
  EXPECT_EQ(GetMessageA(&msg, nullptr, 0, 0), TRUE);
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER));
  EXPECT_EQ(calls, 5);

  // Other threads are unaffected, and NULL removes the hook.
  int other = 0;
  std::thread([&] {
    MSG m;
    PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE);
    other = calls;
  }).join();
  EXPECT_EQ(other, 5);
  PlatSetMessagePumpHook(nullptr, nullptr);
  PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE);
  EXPECT_EQ(calls, 5);
}

TEST(PumpHook, IsNotReenteredByAPumpInsideIt) {
  static int depth, calls;
  depth = calls = 0;
  PlatSetMessagePumpHook(
      [](void*) {
        ++calls;
        ++depth;
        MSG msg;
        PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
        --depth;
      },
      nullptr);
  MSG msg;
  PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE);
  EXPECT_EQ(calls, 1);
  PlatSetMessagePumpHook(nullptr, nullptr);
}

TEST(Timers, WindowTimerPostsWmTimerThatDoesNotPileUp) {
  Recorder recorder;
  HWND hwnd = makeWindow(&recorder);
  EXPECT_EQ(SetTimer(hwnd, 9, 10, nullptr), 9u);
  MSG msg;
  ASSERT_EQ(GetMessageA(&msg, hwnd, WM_TIMER, WM_TIMER), TRUE);
  EXPECT_EQ(msg.wParam, 9u);
  EXPECT_FALSE(PeekMessageA(&msg, hwnd, WM_TIMER, WM_TIMER, PM_REMOVE)) << "re-armed, not piled up";
  EXPECT_TRUE(KillTimer(hwnd, 9));
  EXPECT_FALSE(KillTimer(hwnd, 9));
  EXPECT_EQ(SetTimer(reinterpret_cast<HWND>(0x7ffffffc), 1, 10, nullptr), 0u);
  DestroyWindow(hwnd);
}

TEST(Timers, ThreadTimerCallsItsProcedureThroughDispatch) {
  static int fired;
  fired = 0;
  UINT_PTR id = SetTimer(nullptr, 0, 10, [](HWND, UINT message, UINT_PTR, DWORD) {
    if (message == WM_TIMER) ++fired;
  });
  ASSERT_NE(id, 0u);
  MSG msg;
  ASSERT_EQ(GetMessageA(&msg, nullptr, 0, 0), TRUE);
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_TIMER));
  DispatchMessageA(&msg);
  EXPECT_EQ(fired, 1);
  MSG forged = msg;
  forged.lParam = 0x1234;  // not a timer procedure of ours: never called
  DispatchMessageA(&forged);
  EXPECT_TRUE(KillTimer(nullptr, id));
}
