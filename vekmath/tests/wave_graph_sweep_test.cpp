// The sweep across the display: strips at the sweep position, the restart
// at the left edge, the clip at the span, and the rebuild from the ring.
#include <gtest/gtest.h>

#include <windows.h>
#include <wingdi.h>

#include <vector>

#include "acquisition/ring.h"
#include "drawing/live_draw.h"
#include "drawing/wave_graph.h"
#include "support/wave_window.h"
#include "vekmath.h"

using namespace vekmath;
using namespace wavetest;

namespace {

constexpr COLORREF kRed = RGB(255, 0, 0);

class WaveGraphSweepTest : public ::testing::Test {
 protected:
  void TearDown() override {
    endRun();
    releaseWaveGraph();
  }
};

// Rows 0-99 of channel 0 hold +16384 counts (y = 75 on a one-band display
// of 300 pixels), rows 100-149 -16384 (224.9999 in doubles, so y = 224).
void twoLevels() {
  SetTestChannelLength(150, 0);
  for (LONG row = 0; row < 150; ++row) SetTestSample(row < 100 ? 32768 + 16384 : 32768 - 16384, row, 0);
}

TEST_F(WaveGraphSweepTest, TheSecondSweepOverwritesFromTheLeftEdge) {
  ASSERT_EQ(configureSimulated(1, 50), 0);
  twoLevels();
  TestWindow window(100, 300);
  Display d(100);
  d.show(0, kRed);
  SetupWaveGraph(window.hwnd(), &d.settings, d.traces, 0);
  LONG status = -1;
  StartSampling(&status);
  ASSERT_EQ(status, 0);
  std::vector<SHORT> block(50);
  for (int b = 0; b < 3; ++b) {
    ReadBlock(block.data(), 50, nullptr, &status);
    ASSERT_EQ(status, 0);
  }
  EXPECT_EQ(window.rowsWithColour(20, kRed), std::vector<int>{224});
  EXPECT_EQ(window.rowsWithColour(80, kRed), std::vector<int>{75});
  // Erased ahead of the sweep (at 50) by the strip width of 4.
  EXPECT_TRUE(window.rowsWithColour(52, kRed).empty());
}

TEST_F(WaveGraphSweepTest, AStripPastTheSpanStopsAtItsRow) {
  ASSERT_EQ(configureSimulated(2, 50), 0);
  TestWindow window(100, 300);
  Display d(100);
  d.show(0, kRed);
  SetupWaveGraph(window.hwnd(), &d.settings, d.traces, 0);
  WaveGraph& g = waveGraph();
  g.sweep = 90;
  std::vector<uint16_t> samples(2 * 40, 32768 + 16384);
  RingSpan span;
  span.first = samples.data();
  span.firstCount = static_cast<int64_t>(samples.size());
  span.count = span.firstCount;
  drawLiveStrip(span, 2);
  EXPECT_EQ(g.sweep, 100);
  EXPECT_EQ(g.row(0)[99].y, 75);
  // Channel 1 is hidden: its row keeps the y of the setup.
  for (int j = 0; j < 100; ++j) ASSERT_EQ(g.row(1)[j].y, 0) << j;
  // The next strip begins at the left edge again.
  span.count = span.firstCount = 2 * 5;
  drawLiveStrip(span, 2);
  EXPECT_EQ(g.sweep, 5);
}

TEST_F(WaveGraphSweepTest, TheRedrawRebuildsThePointsFromTheRing) {
  ASSERT_EQ(configureSimulated(1, 50), 0);
  // Constant, so the ring reads the same wherever the thread has got to.
  SetTestSample(32768 + 16384, 0, 0);
  TestWindow window(100, 300);
  Display d(100);
  d.show(0, kRed);
  SetupWaveGraph(window.hwnd(), &d.settings, d.traces, 0);
  LONG status = -1;
  StartSampling(&status);
  std::vector<SHORT> block(100);
  ReadBlock(block.data(), 100, nullptr, &status);
  ASSERT_EQ(status, 0);
  // Spoil the points: the rebuild must put them back from the ring.
  WaveGraph& g = waveGraph();
  for (int j = 0; j < 100; ++j) g.row(0)[j].y = 10;
  SetupWaveGraph2(1);
  DrawWaveGraph();
  SetupWaveGraph2(0);
  for (int j = 0; j < 100; ++j) ASSERT_EQ(g.row(0)[j].y, 75) << j;
  EXPECT_EQ(window.rowsWithColour(50, kRed), std::vector<int>{75});
}

TEST_F(WaveGraphSweepTest, TheRebuildLeavesARingShorterThanTheSpanAlone) {
  ASSERT_EQ(configureSimulated(1, 50, 500), 0);
  TestWindow window(100, 300);
  Display d(100);
  d.show(0, kRed);
  SetupWaveGraph(window.hwnd(), &d.settings, d.traces, 0);
  WaveGraph& g = waveGraph();
  for (int j = 0; j < 100; ++j) g.row(0)[j].y = 10;
  ring().length.store(40);  // less than one span of samples
  rebuildTracePoints();
  EXPECT_EQ(g.row(0)[0].y, 10);
}

}  // namespace
