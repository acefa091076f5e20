// The notification threads against FAKE00's pending waits: which state posts
// which message, parking and waking, threads that ended, and the close.
#include <gtest/gtest.h>

#include "morvel_fixture.h"

namespace morvel::testing {
namespace {

uint16_t gData[64], gList[2];

class NotifyTest : public MorvelTest {
 protected:
  LONG startBack(XanHandle h) {
    XanInpBackParams p{gData, gList, 2, 0, 16, 0, 10};
    return XanInpBack(h, 0, &p, window(), kA, window(), kB);
  }
  LONG startBdMem(XanHandle h, uint16_t trigger = 1) {
    XanInpBdMemParams p{};
    p.above3 = {reinterpret_cast<uintptr_t>(gList), 2, 100, 40, -1, 0, 0, trigger};
    return XanInpBdMem(h, 4, &p, window(), kA, window(), kB);
  }
  // Messages posted so far, waiting (at most 5 s) until there are n.
  std::vector<MSG> messagesReach(std::size_t n) {
    std::vector<MSG> got;
    for (int ms = 0; ms < 5000 && got.size() < n; ++ms) {
      for (const MSG& m : messages()) got.push_back(m);
      if (got.size() < n) Sleep(1);
    }
    return got;
  }
  static constexpr uint16_t kA = 0x400, kB = 0x401;
};

// A start wakes the thread only once it has parked, so its success shows
// that the previous event was fully handled.
TEST_F(NotifyTest, EachBackgroundStatePostsItsMessage) {
  const XanHandle h = open();
  ASSERT_EQ(startBack(h), XAN_OK);
  struct Case {
    int16_t state;
    UINT message;  // 0: none
  };
  int waits = 1;
  for (Case c : {Case{0, kA}, Case{1, kA}, Case{4, kA}, Case{3, kB}, Case{5, kB}, Case{2, 0}}) {
    SCOPED_TRACE(c.state);
    ASSERT_TRUE(fake.waitsReach(XAN_WAIT_BACK, waits));
    fake.state = c.state;
    ASSERT_TRUE(fake.complete(XAN_WAIT_BACK));
    ASSERT_EQ(startBack(h), XAN_OK);
    ++waits;
    const std::vector<MSG> got = messages();
    ASSERT_EQ(got.size(), c.message != 0 ? 1u : 0u);
    if (c.message != 0) {
      EXPECT_EQ(got[0].message, c.message);
      EXPECT_EQ(got[0].wParam, static_cast<WPARAM>(c.state));
      EXPECT_EQ(got[0].lParam, 0);
    }
  }
}

TEST_F(NotifyTest, AThreadEndedByAClosedBoardIsReplacedAtTheNextStart) {
  const XanHandle h = open();
  ASSERT_EQ(startBack(h), XAN_OK);
  ASSERT_TRUE(fake.waitsReach(XAN_WAIT_BACK, 1));
  fake.state = XAN_STATE_CLOSED;
  ASSERT_TRUE(fake.complete(XAN_WAIT_BACK));
  Slot& s = slotAt(XanFindHandleSlot(h));
  for (int ms = 0; ms < 5000 && !s.ended[kBackThread].load(); ++ms) Sleep(1);
  EXPECT_EQ(startBack(h), XAN_OK);
  EXPECT_TRUE(fake.waitsReach(XAN_WAIT_BACK, 2));
}

TEST_F(NotifyTest, BoardMemoryInputReturnsWithItsWaitPendingAndKeepsWaitingOnState1) {
  const XanHandle h = open();
  ASSERT_EQ(startBdMem(h), XAN_OK);
  EXPECT_EQ(fake.pending(), 1);
  fake.state = XAN_STATE_STARTED;
  ASSERT_TRUE(fake.complete(XAN_WAIT_BD_MEM));
  ASSERT_TRUE(fake.waitsReach(XAN_WAIT_BD_MEM, 2));
  fake.state = XAN_STATE_FINISHED;
  ASSERT_TRUE(fake.complete(XAN_WAIT_BD_MEM));
  const std::vector<MSG> got = messagesReach(2);
  ASSERT_EQ(got.size(), 2u);
  EXPECT_EQ(got[0].message, kA);
  EXPECT_EQ(got[0].wParam, 1u);
  EXPECT_EQ(got[1].wParam, 0u);
  // Parked after state 0: the next run wakes it and again returns armed.
  ASSERT_EQ(startBdMem(h), XAN_OK);
  EXPECT_EQ(fake.pending(), 1);
}

// Index 8 cannot start by software in mode 4: trigger 6 goes instead, with a thread.
TEST_F(NotifyTest, IndexEightSendsTriggerSixAndWaitsForItsThread) {
  const XanHandle h = open(8);
  ASSERT_EQ(startBdMem(h, 0), XAN_OK);
  EXPECT_EQ(fake.log()[1].at<int16_t>(offsetof(XanInpBdMemRecord, triggerSource)), 6);
  EXPECT_EQ(fake.pending(), 1);
}

TEST_F(NotifyTest, ABoardMemoryWaitThatCannotBeMadeDoesNotHangTheStart) {
  const XanHandle h = open();
  fake.refuse(XAN_WAIT_BD_MEM);
  EXPECT_EQ(startBdMem(h), XAN_E_WAKE);
}

TEST_F(NotifyTest, CounterEventsPostTheGateMessageUntilTheGateCloses) {
  const XanHandle h = open();
  ASSERT_EQ(XanOpenCntGate(h, window(), 0x500), XAN_OK);
  ASSERT_TRUE(fake.waitsReach(XAN_WAIT_CNT, 1));
  fake.counterState = 2;
  ASSERT_TRUE(fake.complete(XAN_WAIT_CNT));
  ASSERT_TRUE(fake.waitsReach(XAN_WAIT_CNT, 2));
  fake.counterState = 1;
  ASSERT_TRUE(fake.complete(XAN_WAIT_CNT));
  const std::vector<MSG> got = messagesReach(2);
  ASSERT_EQ(got.size(), 2u);
  EXPECT_EQ(got[0].message, 0x500u);
  EXPECT_EQ(got[1].wParam, 0u);
  EXPECT_EQ(fake.pending(), 0);  // parked after the closed gate
}

// Armed threads have a wait pending in the driver; the close cancels them so
// that every thread ends, and no request is left behind.
TEST_F(NotifyTest, CloseEndsArmedAndParkedThreadsAndLeavesNoWait) {
  const XanHandle h = open();
  ASSERT_EQ(startBack(h), XAN_OK);
  ASSERT_EQ(startBdMem(h), XAN_OK);
  ASSERT_EQ(XanOpenCntGate(h, window(), 0x500), XAN_OK);
  ASSERT_TRUE(fake.waitsReach(XAN_WAIT_BACK, 1));
  ASSERT_TRUE(fake.waitsReach(XAN_WAIT_CNT, 1));
  fake.state = 0;
  ASSERT_TRUE(fake.complete(XAN_WAIT_BACK));  // this one parks
  Slot& s = slotAt(XanFindHandleSlot(h));
  HANDLE threads[kThreadKinds];
  for (int k = 0; k < kThreadKinds; ++k) threads[k] = s.thread[k].load();
  std::vector<HANDLE> copies;
  for (HANDLE t : threads) {
    HANDLE copy = nullptr;
    ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), t, GetCurrentProcess(), &copy, 0, FALSE, DUPLICATE_SAME_ACCESS));
    copies.push_back(copy);
  }
  EXPECT_EQ(XanClose(h), XAN_OK);
  EXPECT_EQ(fake.pending(), 0);
  for (HANDLE t : copies) {
    EXPECT_EQ(WaitForSingleObject(t, 0), WAIT_OBJECT_0);
    CloseHandle(t);
  }
  EXPECT_EQ(fake.openFiles(), 0);
}

TEST_F(NotifyTest, BackPriorityIsCheckedAndAppliedToRunningThreads) {
  const XanHandle h = open();
  EXPECT_EQ(XanSetBackPriority(0x4444, 0), XAN_E_CALL);
  for (int16_t refused : {3, -3}) EXPECT_EQ(XanSetBackPriority(h, refused), XAN_E_PRIORITY) << refused;
  EXPECT_EQ(XanSetBackPriority(h, -2), XAN_OK);
  ASSERT_EQ(startBack(h), XAN_OK);
  ASSERT_EQ(XanSetBackPriority(h, 2), XAN_OK);
  Slot& s = slotAt(XanFindHandleSlot(h));
  EXPECT_EQ(GetThreadPriority(s.thread[kBackThread].load()), 2);
  EXPECT_EQ(GetThreadPriority(s.thread[kBackDataThread].load()), 2);
}

}  // namespace
}  // namespace morvel::testing
