// The whole road on the simulated board: select, configure, start, read,
// stop, close, through the exports as a caller would.
#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <thread>
#include <vector>

#include "acquisition/ring.h"
#include "acquisition/sampling_config.h"
#include "status/status_texts.h"
#include "triggers/trigger_events.h"
#include "vekmath.h"

using namespace vekmath;

namespace {

const SHORT kList[32] = {1, 2};
const LONG kUnsigned[32] = {};

// Bounded: a board that never delivers fails the test instead of hanging it.
bool waitFor(bool (*done)()) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

// Channel 0 counts 1000 to 1009 again and again; channel 1 is a square wave
// of 200 scans, low first.
void loadTestSignals() {
  for (LONG row = 0; row < 10; ++row) SetTestSample(1000 + row, row, 0);
  SetTestChannelLength(10, 0);
  SetTestSquare(1, 200, 1);
  SetTestChannelLength(200, 1);
  SetTestLength(10000);
}

class SpineEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    loadTestSignals();
    EXPECT_EQ(SelectBoard(-1, 0, "DEBUG"), -1);
    SetupSampling2(kUnsigned, 0, &status);
  }
  void TearDown() override { CloseBoard(nullptr); }
  LONG status = -1;
};

TEST_F(SpineEndToEnd, ContinuousRunWrapsAndKeepsChannelsInPlace) {
  SetupSampling3(0);
  config().monitorSpan = 0;
  SetupSampling(2, kList, 50, 10, 100, 0, 0, 0, 0, &status);  // ring: 50 scans
  ASSERT_EQ(status, 0);
  LONG length = 0;
  GetRingLength(&length);
  ASSERT_EQ(length, 100);

  StartSampling(&status);
  ASSERT_EQ(status, 0);
  LONG running = 0, scans = 0;
  GetSamplingStatus(&running, &scans, &status);
  EXPECT_EQ(running, 1);
  ASSERT_TRUE(waitFor([] { return ring().totalScans.load() >= 500; }));
  EXPECT_EQ(StopSampling(&status), 0);

  const int32_t total = ring().totalScans.load();
  LONG index = -1, overrun = -1, flag = -1, unread = -1;
  GetRingPosition(&index, &overrun);
  GetRingPosition2(&flag);
  GetSampleCount(&unread);
  GetSamplingStatus(&running, &scans, &status);
  EXPECT_EQ(flag, 1);
  // One scan per pass: data that ends at the ring length wraps only with
  // the next pass, so the index runs 2 to 100.
  EXPECT_EQ(index, (2 * total - 1) % 100 + 1);
  EXPECT_EQ(unread, 100);  // stops at one ring while nobody reads
  EXPECT_EQ(running, 0);
  EXPECT_EQ(scans, 50);
  EXPECT_EQ(status, 0);

  // The ring is 50 scans, a multiple of channel 0's 10 rows: scan slot k
  // always holds row k mod 10, whatever the lap. Copies remove the zero.
  std::vector<WORD> out(100, 0);
  const LONG end = ReadRing(out.data());
  EXPECT_EQ(end, index);
  for (int32_t i = 0; i < 99; ++i) {
    const int32_t position = (index + 1 + i) % 100;
    if (position % 2 != 0) continue;
    ASSERT_EQ(out[i], static_cast<WORD>(1000 + (position / 2) % 10 - 32768)) << "position " << position;
  }
  WORD two[2] = {};
  ReadRing3(two, 1, 1);  // the newest scan: ends one sample before the write index
  EXPECT_EQ(two[0], static_cast<WORD>(1000 + ((total - 1) % 10) - 32768));

  CloseBoard(&status);
  EXPECT_EQ(status, 0);
  GetSamplingStatus(&running, &scans, &status);
  EXPECT_EQ(status, kStatusStopped);
  EXPECT_EQ(running, 0);
  EXPECT_EQ(scans, 0);
}

TEST_F(SpineEndToEnd, SquareWaveGivesOneEventPerRisingEdge) {
  SetupSampling3(1);
  // Trigger on channel 2 through 500 and then 1000 counts above the zero;
  // windows of 100 scans that begin 50 scans before the edge.
  SetupSampling(2, kList, 100, 10, 100, -50, 2, 500, 1000, &status);
  ASSERT_EQ(status, 0);
  EXPECT_EQ(config().samplingMode, 2);
  StartSampling(&status);
  ASSERT_EQ(status, 0);
  ASSERT_TRUE(waitFor([] { return triggerEvents().completedCount() >= 4; }));
  EXPECT_EQ(StopSampling(&status), 0);
  EXPECT_EQ(status, 0);

  // Edges at scans 100, 300, 500, ...: windows from scan 50, 250, 450, ...
  std::vector<uint16_t> window(200, 0);
  for (int32_t k = 0; k < 4; ++k) {
    TakenEvent e = takeNextEventWindow(window.data(), window.size());
    ASSERT_TRUE(e.taken);
    EXPECT_EQ(e.position, (200 * k + 50) * 2);
    ASSERT_EQ(e.samples, 200);
    for (int32_t j = 0; j < 100; ++j) {
      ASSERT_EQ(window[2 * j + 1], j < 50 ? 0 : 65535) << "event " << k << " scan " << j;
      ASSERT_EQ(window[2 * j], 1000 + (200 * k + 50 + j) % 10);
    }
  }
  LONG scans = -1, running = -1;
  GetSamplingStatus(&running, &scans, &status);
  EXPECT_EQ(scans, 0);  // a trigger channel is set

  // A new run starts with no events of the last one: its first event is
  // the first edge again.
  StartSampling(&status);
  ASSERT_TRUE(waitFor([] { return triggerEvents().completedCount() >= 1; }));
  StopSampling(&status);
  EXPECT_EQ(takeNextEventWindow(window.data(), window.size()).position, 100);
}

TEST_F(SpineEndToEnd, ReadersFollowARunningThreadWithinTheirBuffers) {
  SetupSampling3(0);
  config().monitorSpan = 0;
  SetupSampling(2, kList, 10, 10, 100, 0, 0, 0, 0, &status);  // ring: 20 samples
  ASSERT_EQ(status, 0);
  StartSampling(&status);
  ASSERT_EQ(status, 0);
  // A buffer of the ring length and a guard behind it: no copy may run on,
  // however the write index moves during it.
  std::vector<WORD> buffer(20 + 8, 0xBEEF);
  for (int i = 0; i < 3000; ++i) {
    const LONG end = ReadRing(buffer.data());
    ASSERT_GE(end, 0);
    ASSERT_LE(end, 20);
    ReadRing2(buffer.data(), i % 25, 18);
    ReadRing3(buffer.data(), i % 7, 18);
    for (int g = 20; g < 28; ++g) ASSERT_EQ(buffer[g], 0xBEEF);
  }
  StopSampling(&status);
}

}  // namespace
