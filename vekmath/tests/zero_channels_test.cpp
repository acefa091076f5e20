// A configuration of no channels is accepted; a run of it must deliver
// nothing and divide by nothing.
#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

#include "acquisition/ring.h"
#include "acquisition/sampling_config.h"
#include "drawing/wave_graph.h"
#include "support/wave_window.h"
#include "vekmath.h"

using namespace vekmath;
using namespace wavetest;

namespace {

class ZeroChannels : public ::testing::Test {
 protected:
  void TearDown() override {
    endRun();
    releaseWaveGraph();
  }
};

TEST_F(ZeroChannels, RunReadAndRefreshDeliverNothing) {
  // A two-channel setup first leaves a ring length that 0 channels keep.
  ASSERT_EQ(configureSimulated(2, 100, 100), 0);
  TestWindow window(200, 100);
  Display d(100);
  d.show(0, RGB(255, 0, 0));
  SetupWaveGraph(window.hwnd(), &d.settings, d.traces, 0);
  ASSERT_EQ(configureSimulated(0, 100, 100), 0);
  ASSERT_EQ(config().channels, 0);
  ASSERT_GT(ring().length.load(), 0);

  LONG status = -1;
  StartSampling(&status);
  ASSERT_EQ(status, 0);
  LONG running = -1;
  LONG scans = -1;
  for (int i = 0; i < 50; ++i) {
    GetSamplingStatus(&running, &scans, &status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(scans, 0);
    std::vector<SHORT> block(64, 7);
    EXPECT_EQ(ReadBlock(block.data(), 16, &running, &status), 0);
    EXPECT_EQ(block[0], 7);  // nothing written for no channels
    RefreshWaveGraph(0);
    Sleep(0);
  }
  EXPECT_EQ(running, 1);
  EXPECT_EQ(ring().totalScans.load(), 0);
  EXPECT_EQ(ring().writeIndex.load(), 0);
  EXPECT_EQ(StopSampling(&status), 0);
  EXPECT_EQ(ring().running.load(), 0);
}

}  // namespace
