#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <thread>

#include "acquisition/ring.h"
#include "acquisition/sampling_config.h"
#include "acquisition/selection.h"
#include "backends/simulated/simulated_backend.h"
#include "vekmath.h"

using namespace vekmath;

namespace {

const SHORT kList[32] = {5, 6};

// Two channels; blockScans scans in the ring.
void setUp(LONG blockScans) {
  LONG status = -1;
  SelectBoard(-1, 0, "");
  SetupSampling(2, kList, blockScans, 10, 100, 0, 0, 0, 0, &status);
  ASSERT_EQ(status, 0);
}

// Bounded: a board that never delivers fails the test instead of hanging it.
bool waitForScans(int32_t scans) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (ring().totalScans.load() < scans) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

// Runs until at least `scans` scans are in and stops.
void run(int32_t scans) {
  LONG status = -1;
  StartSampling(&status);
  ASSERT_EQ(status, 0);
  const bool arrived = waitForScans(scans);
  EXPECT_EQ(StopSampling(&status), 0);
  ASSERT_TRUE(arrived);
}

uint16_t at(int32_t scan, int32_t channel) { return ring().samples[scan * 2 + channel]; }

class SimulatedBoardTest : public ::testing::Test {
 protected:
  void TearDown() override { CloseBoard(nullptr); }
};

TEST_F(SimulatedBoardTest, ConfigureSetsZeroResolutionModeAndList) {
  setUp(100);
  EXPECT_EQ(selection().zeroOffset, 32768);
  EXPECT_EQ(selection().resolution, 16);
  EXPECT_EQ(config().samplingMode, 0);
  EXPECT_EQ(config().channelList[1], 6);
  SetupSampling3(1);
  setUp(100);
  EXPECT_EQ(config().samplingMode, 2);
  SetupSampling3(0);
}

// Ring of 1000 scans, channels of 100 rows: however often the ring wrapped,
// scan position s holds row s mod 100.
TEST_F(SimulatedBoardTest, PlaysSineAndSquareIntoTheRing) {
  SetTestSine(1, 100, 0);
  SetTestSquare(2, 100, 1);
  SetTestChannelLength(100, 0);
  SetTestChannelLength(100, 1);
  SetTestLength(500);
  setUp(1000);
  run(1200);
  EXPECT_EQ(config().lastStatus.load(), 0);
  EXPECT_GE(ring().scanCounter.load(), 1000);
  for (int32_t base : {0, 100, 900}) {
    EXPECT_EQ(at(base + 0, 0), 32768);
    EXPECT_EQ(at(base + 25, 0), 65535);
    EXPECT_EQ(at(base + 50, 0), 32768);
    EXPECT_EQ(at(base + 75, 0), 1);
    for (int32_t s = 0; s < 100; ++s) EXPECT_EQ(at(base + s, 1), (s / 25) % 2 ? 65535 : 0) << s;
  }
}

TEST_F(SimulatedBoardTest, SamplesKeepTheLowBitsAndBadEntriesAreRefused) {
  for (LONG row = 0; row < 4; ++row) SetTestSample(row * 10 + 1, row, 0);
  SetTestSample(0x12345, 3, 0);
  SetTestChannelLength(4, 0);
  // None of these may reach the table or the lengths.
  SetTestChannelLength(0, 0);
  SetTestChannelLength(10001, 0);
  SetTestChannelLength(4, 32);
  SetTestSample(7, 10000, 0);
  SetTestSample(7, -1, 0);
  SetTestSample(7, 0, 32);
  SetTestSine(1, 20000, 40);
  SetTestCosine(1, 20000, 1);  // only the table's 10,000 rows
  SetTestChannelLength(1, 1);
  setUp(100000);
  run(40);
  ASSERT_EQ(ring().wrapped.load(), 0);
  const uint16_t expected[4] = {1, 11, 21, 0x2345};
  for (int32_t s = 0; s < 40; ++s) {
    EXPECT_EQ(at(s, 0), expected[s % 4]) << s;
    EXPECT_EQ(at(s, 1), 65535) << s;
  }
}

TEST_F(SimulatedBoardTest, EachRunStartsAtRowZero) {
  for (LONG row = 0; row < 7; ++row) SetTestSample(100 + row, row, 0);
  SetTestChannelLength(7, 0);
  setUp(100000);
  // A run may happen to stop on a multiple of 7; three in a row hardly do.
  for (int i = 0; i < 3; ++i) {
    run(30 + i);
    run(10);
    ASSERT_EQ(ring().wrapped.load(), 0);
    for (int32_t s = 0; s < 10; ++s) EXPECT_EQ(at(s, 0), 100 + s % 7) << s;
  }
}

TEST_F(SimulatedBoardTest, StopRightAfterStartReturns) {
  setUp(100);
  LONG status = -1;
  for (int i = 0; i < 20; ++i) {
    StartSampling(&status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(StopSampling(&status), 0);
  }
  EXPECT_EQ(ring().running.load(), 0);
}

}  // namespace
