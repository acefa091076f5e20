// The event thread against a driver that keeps its wait pending: delivery
// by message and by callback, and the thread's life across start, stop,
// failure and close.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "event_threads.h"
#include "halvik.h"
#include "support/pending_driver.h"

namespace {

using namespace halvik::testing;

constexpr short kId = 7;

struct Call {
  short message;
  long param;
  void* user;
};
std::vector<Call> gCalls;
void WINAPI onEvent(short, short message, short, LONG param, void* user) { gCalls.push_back({message, param, user}); }

class AiEventThreadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.lpszClassName = "AiRunTestWindow";
    RegisterClassA(&wc);
    window = CreateWindowExA(0, "AiRunTestWindow", "", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    gCalls.clear();
  }
  void TearDown() override { DestroyWindow(window); }

  // Starts and waits until the thread has armed its wait.
  void start() {
    const int before = driver.waits();
    ASSERT_EQ(XanStartAi(kId), 0);
    ASSERT_TRUE(driver.waitsReach(before + 1));
  }
  std::vector<MSG> messages() {
    std::vector<MSG> out;
    MSG m;
    while (PeekMessageA(&m, window, 0, 0, PM_REMOVE)) out.push_back(m);
    return out;
  }

  PendingDriver driver{kId};
  HWND window = nullptr;
};

TEST_F(AiEventThreadTest, EventsGoToTheWindowInListOrderThenToTheCallback) {
  ASSERT_EQ(XanSetAiEvent(kId, window, 0x2 | 0x80), 0);
  start();
  driver.complete({.mask = 0x2 | 0x80, .sampling = 5, .list = {0x80, 0x2, 0x20}});
  ASSERT_TRUE(driver.waitsReach(2));  // re-armed: everything fetched is out
  std::vector<MSG> got = messages();
  ASSERT_EQ(got.size(), 2u);
  EXPECT_EQ(got[0].message, 0x1003u);
  EXPECT_EQ(got[0].lParam, 5);
  EXPECT_EQ(got[0].wParam, static_cast<WPARAM>(kId));
  EXPECT_EQ(got[1].message, 0x1000u);
  EXPECT_EQ(got[1].lParam, 0);

  int user = 0;
  ASSERT_EQ(XanSetAiCallBackProc(kId, onEvent, 0x10, &user), 0);
  driver.complete({.mask = 0x10, .factor = 0x10 | 0x2, .repeat = 3});
  ASSERT_TRUE(driver.waitsReach(3));
  ASSERT_EQ(gCalls.size(), 1u);
  EXPECT_EQ(gCalls[0].message, 0x1001);
  EXPECT_EQ(gCalls[0].param, 3);
  EXPECT_EQ(gCalls[0].user, &user);
  EXPECT_TRUE(messages().empty());
}

// Window 0 is no window: a post to it would land in the posting thread's
// own queue, where the callback below, run by that thread, finds it.
bool gOwnQueueHadMessage = false;
void WINAPI lookAtOwnQueue(short, short, short, LONG, void*) {
  MSG m;
  gOwnQueueHadMessage = PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE) != FALSE;
}

TEST_F(AiEventThreadTest, WindowZeroGetsNoMessage) {
  ASSERT_EQ(XanSetAiEvent(kId, nullptr, 0x2), 0);
  start();
  driver.complete({.mask = 0x2, .factor = 0x2});
  ASSERT_TRUE(driver.waitsReach(2));
  ASSERT_EQ(XanSetAiCallBackProc(kId, lookAtOwnQueue, 0x2, nullptr), 0);
  gOwnQueueHadMessage = true;
  driver.complete({.mask = 0x2, .factor = 0x2});
  ASSERT_TRUE(driver.waitsReach(3));
  EXPECT_FALSE(gOwnQueueHadMessage);
}

// The close wakes a thread whose wait is armed with no run going; the
// thread must end, and leave no request behind that could still complete;
// the names of its objects, made of its thread id, go with it.
TEST_F(AiEventThreadTest, CloseEndsAnArmedThreadAndCancelsItsWait) {
  const DWORD names = PlatNamedObjectCount();
  start();
  EXPECT_EQ(halvik::EndEventThreads(driver.record()), 0);
  EXPECT_FALSE(driver.pending());
  EXPECT_EQ(driver.cancelled(), 1);
  EXPECT_EQ(driver.waits(), 1);
  EXPECT_EQ(PlatNamedObjectCount(), names);
}

TEST_F(AiEventThreadTest, CloseEndsAParkedThread) {
  start();
  driver.complete({.mask = 0x20, .factor = 0x20, .end = true});
  ASSERT_EQ(XanStopAi(kId), 0);  // not running: waits for the run's end
  EXPECT_EQ(halvik::EndEventThreads(driver.record()), 0);
  EXPECT_EQ(driver.waits(), 1);
}

TEST_F(AiEventThreadTest, AThreadThatEndedOnAFailureIsReplacedByTheNextStart) {
  start();
  HANDLE first = driver.record().EventThread[halvik::kSlotAi];
  driver.complete({.status = 21000});  // the fetch fails: the thread ends
  ASSERT_EQ(WaitForSingleObject(first, 5000), WAIT_OBJECT_0);
  start();
  EXPECT_NE(driver.record().EventThread[halvik::kSlotAi], first);
}

TEST_F(AiEventThreadTest, ARestartWakesTheParkedThread) {
  start();
  HANDLE first = driver.record().EventThread[halvik::kSlotAi];
  driver.complete({.end = true});
  start();
  EXPECT_EQ(driver.record().EventThread[halvik::kSlotAi], first);
}

// A refused stop still gives mutex A back, so the thread fetches again.
TEST_F(AiEventThreadTest, ARefusedStopLeavesTheThreadFetching) {
  start();
  driver.statusBits = 0x1;
  driver.stopStatus = 21490;
  EXPECT_EQ(XanStopAi(kId), 21490);
  driver.complete({});
  EXPECT_TRUE(driver.waitsReach(2));
}

TEST_F(AiEventThreadTest, AStopRunsUnderMutexAAndWaitsForTheRunsEnd) {
  start();
  driver.statusBits = 0x1;
  driver.stopStatus = 21480;  // already stopping: not an error
  driver.complete({.end = true});
  EXPECT_EQ(XanStopAi(kId), 0);
}

TEST_F(AiEventThreadTest, ASyncStartTimesOutWithTheRunGoingAndReturnsAtItsEnd) {
  ASSERT_EQ(XanStartAiSync(kId, 20), 12382);
  EXPECT_TRUE(driver.pending());
  driver.complete({.end = true});
  std::thread ender([&] {
    if (driver.waitsReach(2)) driver.complete({.end = true});
  });
  EXPECT_EQ(XanStartAiSync(kId, 0), 0);
  ender.join();
}

}  // namespace
