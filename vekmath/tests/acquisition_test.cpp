#include <gtest/gtest.h>

#include <windows.h>

#include "acquisition/ring.h"
#include "acquisition/sampling_config.h"
#include "status/status_texts.h"
#include "vekmath.h"

using namespace vekmath;

namespace {

// Writes scans as the thread's fetch would and takes them into the ring.
void deliver(Ring& r, int32_t channels, int32_t scans, uint16_t first) {
  uint16_t* dest = r.samples + r.writeIndex.load();
  for (int32_t i = 0; i < channels * scans; ++i) dest[i] = static_cast<uint16_t>(first + i);
  r.step(channels, scans);
}

class RingStepTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ring().clearForRun();
    ring().length.store(20);
  }
  Ring& r = ring();
};

TEST_F(RingStepTest, DataEndingAtTheRingLengthWrapsOnlyWithTheNextPass) {
  deliver(r, 2, 10, 100);
  EXPECT_EQ(r.writeIndex.load(), 20);
  EXPECT_EQ(r.wrapped.load(), 0);

  deliver(r, 2, 2, 500);
  EXPECT_EQ(r.writeIndex.load(), 4);
  EXPECT_EQ(r.lastChunkOverrun.load(), 4);
  EXPECT_EQ(r.lastWrapOverrun.load(), 4);
  EXPECT_EQ(r.wrapped.load(), 1);
  EXPECT_EQ(r.wrappedForEvents.load(), 1);
  for (uint16_t i = 0; i < 4; ++i) EXPECT_EQ(r.samples[i], 500 + i);
  EXPECT_EQ(r.samples[4], 104);

  deliver(r, 2, 1, 900);
  EXPECT_EQ(r.writeIndex.load(), 6);
  EXPECT_EQ(r.lastChunkOverrun.load(), 0);
  EXPECT_EQ(r.lastWrapOverrun.load(), 4);
  EXPECT_EQ(r.wrapped.load(), 1);
  EXPECT_EQ(r.totalScans.load(), 13);
}

TEST_F(RingStepTest, UnreadCountStopsAtTheRingLength) {
  deliver(r, 2, 9, 0);
  deliver(r, 2, 2, 0);  // 18 < 20: added, one read above the length
  EXPECT_EQ(r.unread.load(), 22);
  deliver(r, 2, 5, 0);
  EXPECT_EQ(r.unread.load(), 22);
  EXPECT_EQ(r.scanCounter.load(), 11);
}

TEST_F(RingStepTest, ReadsNeverReachPastTheSlackOrTheRingLength) {
  EXPECT_EQ(r.roomScans(2), 10);  // a short ring: at most one ring per read
  EXPECT_EQ(r.roomScans(0), 0);
  r.length.store(kRingCapacity);
  EXPECT_EQ(r.roomScans(32), kRingSlack / 32);

  // An oversized delivery is cut to the room instead of running off.
  r.length.store(20);
  r.step(2, 1000);
  EXPECT_EQ(r.totalScans.load(), 10);
  EXPECT_EQ(r.writeIndex.load(), 20);
  r.step(0, 5);  // no channels: nothing happens, nothing divides
  EXPECT_EQ(r.totalScans.load(), 10);
}

class AcquisitionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    config().monitorSpan = 0;
    SelectBoard(4, 0, "Dev1");
    SHORT list[32] = {};
    SetupSampling(4, list, 100, 10, 100, 0, 0, 0, 0, &status);
    ASSERT_EQ(status, 0);
  }
  void TearDown() override { CloseBoard(nullptr); }
  LONG status = -1;
  Ring& r = ring();
};

TEST_F(AcquisitionTest, SelectConfigureStartStopCloseWithoutBackEnd) {
  r.samples[3] = 77;
  r.wrapped.store(1);
  r.unread.store(5);
  status = -1;
  StartSampling(&status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(r.started.load(), 1);
  EXPECT_EQ(r.running.load(), 1);
  EXPECT_NE(r.thread.load(), nullptr);
  EXPECT_EQ(r.samples[3], 0);
  EXPECT_EQ(r.wrapped.load(), 0);

  status = -1;
  EXPECT_EQ(StopSampling(&status), 0);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(r.thread.load(), nullptr);
  EXPECT_EQ(r.running.load(), 0);
  EXPECT_EQ(r.started.load(), 0);
  EXPECT_EQ(r.stopRequested.load(), 0);  // the thread cleared it
  EXPECT_EQ(r.writeIndex.load(), 0);     // nothing was fetched
  EXPECT_EQ(r.unread.load(), 0);
  EXPECT_EQ(r.totalScans.load(), 0);

  status = -1;
  CloseBoard(&status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(r.stopRequested.load(), 1);  // stays after a close

  // A new configuration starts again; the start clears the stop flag.
  SetUp();
  StartSampling(&status);
  EXPECT_EQ(r.running.load(), 1);
  StopSampling(nullptr);
}

TEST_F(AcquisitionTest, StopRightAfterStartReturns) {
  // Many rounds to hit a stop before the thread's first instruction.
  for (int i = 0; i < 200; ++i) {
    StartSampling(&status);
    ASSERT_EQ(status, 0);
    ASSERT_EQ(StopSampling(&status), 0);
    ASSERT_EQ(r.thread.load(), nullptr);
    ASSERT_EQ(r.running.load(), 0);
  }
}

TEST_F(AcquisitionTest, SecondStartIsRefused) {
  StartSampling(&status);
  HANDLE first = r.thread.load();
  status = -1;
  StartSampling(&status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(r.thread.load(), first);
  StopSampling(nullptr);
}

TEST_F(AcquisitionTest, CloseWhileRunningEndsTheThreadFirst) {
  StartSampling(&status);
  CloseBoard(&status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(r.thread.load(), nullptr);
  EXPECT_EQ(r.running.load(), 0);
  EXPECT_EQ(r.started.load(), 0);
  EXPECT_EQ(r.stopRequested.load(), 1);
}

TEST_F(AcquisitionTest, StopWithoutThreadReportsTheLastStatus) {
  EXPECT_EQ(StopSampling(&status), 0);
  EXPECT_EQ(status, 0);
}

TEST_F(AcquisitionTest, StartAfterFailedSetupIsRefusedAndReported) {
  SetupSampling(40, nullptr, 100, 10, 100, 0, 0, 0, 0, nullptr);
  status = -1;
  StartSampling(&status);
  EXPECT_EQ(status, kStatusParameter);
  EXPECT_EQ(r.started.load(), 0);
  EXPECT_EQ(r.thread.load(), nullptr);
  EXPECT_EQ(StopSampling(&status), kStatusParameter);
}

}  // namespace
