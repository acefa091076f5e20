// ReadBlock in event mode: each call hands out the window of the next
// completed trigger event.
#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

#include "acquisition/ring.h"
#include "acquisition/sampling_config.h"
#include "status/status_texts.h"
#include "support/wave_window.h"
#include "vekmath.h"

using namespace vekmath;
using namespace wavetest;

namespace {

class ReadBlockEventTest : public ::testing::Test {
 protected:
  void TearDown() override {
    endRun();
    SetupSampling3(0);
  }
};

// One channel, a square wave of 200 rows: low (raw 0) for rows 0-99, high
// (raw 65535) for 100-199. Rising through 500 and then 1000 counts above
// the zero starts an event at the first high scan; its window of 50 scans
// is all high.
TEST_F(ReadBlockEventTest, EachCallHandsOutOneEventWindow) {
  ASSERT_EQ(configureSimulated(1, 50, 1000), 0);
  SetTestChannelLength(200, 0);
  SetTestSquare(1, 200, 0);
  SetupSampling3(1);
  const SHORT list[32] = {1};
  LONG status = -1;
  SetupSampling(1, list, 50, 1, 1000, 0, 1, 500, 1000, &status);
  ASSERT_EQ(status, 0);
  ASSERT_EQ(config().samplingMode, 2);
  StartSampling(&status);
  ASSERT_EQ(status, 0);
  std::vector<SHORT> block(50, 7);
  for (int e = 0; e < 3; ++e) {
    LONG running = -1;
    ReadBlock(block.data(), 50, &running, &status);
    ASSERT_EQ(status, 0);
    EXPECT_EQ(running, 1);
    for (int s = 0; s < 50; ++s) ASSERT_EQ(block[s], 32767) << "event " << e << " scan " << s;
  }
}

TEST_F(ReadBlockEventTest, AStopWhileWaitingForAnEventEndsTheCall) {
  ASSERT_EQ(configureSimulated(1, 50, 1000), 0);
  SetupSampling3(1);
  const SHORT list[32] = {1};
  LONG status = -1;
  // A flat signal never crosses: no event ever completes.
  SetupSampling(1, list, 50, 1, 1000, 0, 1, 500, 1000, &status);
  StartSampling(&status);
  ASSERT_EQ(status, 0);
  TestWindow window(10, 10);
  window.postCall([] { StopSampling(nullptr); });
  std::vector<SHORT> block(50);
  LONG running = -1;
  ReadBlock(block.data(), 50, &running, &status);
  EXPECT_EQ(status, kStatusParameter);
  EXPECT_EQ(running, 0);
}

}  // namespace
