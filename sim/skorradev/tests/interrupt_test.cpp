// The pending interrupt wait: completion by a cause, cancellation, and a
// run on the real clock.
#include "skorradev_fixture.h"

class SkorradevInterruptTest : public SkorradevTest {
 protected:
  void SetUp() override {
    SkorradevTest::SetUp();
    h = open(1);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    ov.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  }
  void TearDown() override {
    SkorradevTest::TearDown();
    CloseHandle(ov.hEvent);
  }

  // Issues the interrupt wait; true when it completed at once.
  bool issueWait() {
    SetLastError(0);
    if (SkorradevDeviceIoControl(h, code(SKDF_INTERRUPT_WAIT), nullptr, 0, &reply, 4, nullptr, &ov)) return true;
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_IO_PENDING));
    return false;
  }

  HANDLE h = nullptr;
  OVERLAPPED ov{};
  DWORD reply = 0;
};

TEST_F(SkorradevInterruptTest, WaitStaysPendingUntilACauseComes) {
  ASSERT_FALSE(issueWait());
  EXPECT_EQ(SkorradevSimPendingWaits(1), 1u);
  EXPECT_EQ(WaitForSingleObject(ov.hEvent, 0), static_cast<DWORD>(WAIT_TIMEOUT));
  ASSERT_TRUE(SkorradevSimRaiseInterrupt(1, 18, 0x41, 7));
  ASSERT_EQ(WaitForSingleObject(ov.hEvent, 5000), WAIT_OBJECT_0);
  DWORD bytes = 0;
  EXPECT_TRUE(GetOverlappedResult(h, &ov, &bytes, FALSE));
  EXPECT_EQ(bytes, 4u);
  EXPECT_EQ(SkorradevSimPendingWaits(1), 0u);

  EXPECT_EQ(plain(h, SKDF_INTERRUPT_CAUSE, 8, {1})[1], 18u);
  EXPECT_EQ(plain(h, SKDF_EVENT_FLAGS, 8, {1})[1], 0x41u);
  EXPECT_EQ(plain(h, SKDF_EVENT_COUNT, 8, {1})[1], 7u);
}

TEST_F(SkorradevInterruptTest, ACauseRaisedBeforeTheWaitCompletesItAtOnce) {
  ASSERT_TRUE(SkorradevSimRaiseInterrupt(1, 1, 1, 1));
  ASSERT_TRUE(SkorradevSimRaiseInterrupt(1, 2, 2, 1));
  EXPECT_TRUE(issueWait());
  EXPECT_EQ(WaitForSingleObject(ov.hEvent, 0), WAIT_OBJECT_0);
  EXPECT_TRUE(issueWait());  // one announcement per cause
  EXPECT_FALSE(issueWait());
  EXPECT_EQ(plain(h, SKDF_INTERRUPT_CAUSE, 8, {1})[1], 1u);
  EXPECT_EQ(plain(h, SKDF_INTERRUPT_CAUSE, 8, {1})[1], 2u);
  EXPECT_EQ(plain(h, SKDF_INTERRUPT_CAUSE, 8, {1})[1], 0u);
  CancelIo(h);
  EXPECT_EQ(WaitForSingleObject(ov.hEvent, 5000), WAIT_OBJECT_0);
}

TEST_F(SkorradevInterruptTest, CancelIoEndsThePendingWait) {
  ASSERT_FALSE(issueWait());
  ASSERT_TRUE(CancelIo(h));
  ASSERT_EQ(WaitForSingleObject(ov.hEvent, 5000), WAIT_OBJECT_0);
  DWORD bytes = 0;
  EXPECT_FALSE(GetOverlappedResult(h, &ov, &bytes, FALSE));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_OPERATION_ABORTED));
  EXPECT_EQ(SkorradevSimPendingWaits(1), 0u);
  // The cause that comes later waits for the next request.
  ASSERT_TRUE(SkorradevSimRaiseInterrupt(1, 1, 1, 1));
  EXPECT_TRUE(issueWait());
}

TEST_F(SkorradevInterruptTest, ClosingTheDeviceCancelsTheWaitAndStopsTheRun) {
  SkorradevSimSetManualClock(1, TRUE);
  auto cfg = normalConfig(1, {1}, 100, 9);
  ASSERT_EQ(request(h, SKDF_SET_CONFIG, cfg), 0u);
  ASSERT_EQ(start(h, 1), 0u);
  ASSERT_FALSE(issueWait());
  close(h);
  ASSERT_EQ(WaitForSingleObject(ov.hEvent, 5000), WAIT_OBJECT_0);
  EXPECT_EQ(ov.Internal, static_cast<ULONG_PTR>(0xC0000120u));  // cancelled
  EXPECT_EQ(SkorradevSimPendingWaits(1), 0u);
  EXPECT_FALSE(SkorradevSimAdvance(1, 1));  // not running any more

  h = open(1);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_EQ(status(h, 1).state, SKORRADEV_STATE_STOPPED);
  EXPECT_EQ(plain(h, SKDF_INTERRUPT_CAUSE, 8, {1})[1], 0u);  // no stale causes
}

TEST_F(SkorradevInterruptTest, RealClockRunEndsAndAnnouncesIt) {
  auto cfg = normalConfig(1, {1, 2}, 200, 1, 50);
  cfg.clockCode = (100u << 16) | 8u;  // 10 kHz: 20 ms
  ASSERT_EQ(request(h, SKDF_SET_CONFIG, cfg), 0u);
  ASSERT_EQ(start(h, 1), 0u);
  DWORD last = 0;
  int causes = 0;
  while (last != SKORRADEV_CAUSE_END && causes < 10) {
    if (!issueWait()) {
      ASSERT_EQ(WaitForSingleObject(ov.hEvent, 5000), WAIT_OBJECT_0);
    }
    last = plain(h, SKDF_INTERRUPT_CAUSE, 8, {1})[1];
    ++causes;
  }
  EXPECT_EQ(last, SKORRADEV_CAUSE_END);
  EXPECT_EQ(causes, 5);  // 4 event-count causes, then the end
  const auto s = status(h, 1);
  EXPECT_EQ(s.state, SKORRADEV_STATE_STOPPED);
  EXPECT_EQ(s.scans, 200u);
}

TEST_F(SkorradevInterruptTest, DirectReadWaitsForItsWordsAndCompletesWithThem) {
  declareBoard(5, 5055, 5);
  SkorradevSimReset();
  HANDLE d = open(5);
  ASSERT_NE(d, INVALID_HANDLE_VALUE);
  SkorradevSimSetManualClock(5, TRUE);
  auto cfg = normalConfig(5, {1, 2}, 1000, 1);
  ASSERT_EQ(request(d, SKDF_SET_CONFIG, cfg), 0u);
  ASSERT_EQ(start(d, 5), 0u);
  uint32_t words[6] = {};
  SetLastError(0);
  ASSERT_FALSE(SkorradevDeviceIoControl(d, code(SKDF_DIRECT_READ), nullptr, 0, words, sizeof words, nullptr, &ov));
  ASSERT_EQ(GetLastError(), static_cast<DWORD>(ERROR_IO_PENDING));
  ASSERT_TRUE(SkorradevSimAdvance(5, 2));
  EXPECT_EQ(WaitForSingleObject(ov.hEvent, 0), static_cast<DWORD>(WAIT_TIMEOUT));
  ASSERT_TRUE(SkorradevSimAdvance(5, 1));
  ASSERT_EQ(WaitForSingleObject(ov.hEvent, 5000), WAIT_OBJECT_0);
  DWORD bytes = 0;
  EXPECT_TRUE(GetOverlappedResult(d, &ov, &bytes, FALSE));
  EXPECT_EQ(bytes, sizeof words);
  EXPECT_EQ(words[5], SkorradevSimSample(5, 2, 2, 16));
  // Only one model has the direct read.
  SetLastError(0);
  EXPECT_FALSE(SkorradevDeviceIoControl(h, code(SKDF_DIRECT_READ), nullptr, 0, words, sizeof words, nullptr, &ov));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_FUNCTION));
}

TEST_F(SkorradevInterruptTest, ExitWithAnOpenBoardAndAPendingWaitEndsCleanly) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        SkorradevSimSetManualClock(1, FALSE);
        auto cfg = normalConfig(1, {1}, 100, 9);
        request(h, SKDF_SET_CONFIG, cfg);
        start(h, 1);
        issueWait();
        std::exit(0);
      },
      ::testing::ExitedWithCode(0), "");
}
