#include <gtest/gtest.h>

#include <windows.h>
#include <wingdi.h>

#include <climits>
#include <vector>

#include "acquisition/ring.h"
#include "acquisition/sampling_config.h"
#include "acquisition/selection.h"
#include "drawing/wave_graph.h"
#include "support/wave_window.h"
#include "vekmath.h"

using namespace vekmath;
using namespace wavetest;

namespace {

constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kGreen = RGB(0, 255, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kWhite = RGB(255, 255, 255);

class WaveGraphTest : public ::testing::Test {
 protected:
  void TearDown() override {
    endRun();
    releaseWaveGraph();
  }
  // Runs the simulated board until `scans` scans are handed out.
  void readScans(LONG channels, LONG scans) {
    LONG status = -1;
    StartSampling(&status);
    ASSERT_EQ(status, 0);
    std::vector<SHORT> block(static_cast<std::size_t>(channels) * scans);
    ReadBlock(block.data(), scans, nullptr, &status);
    ASSERT_EQ(status, 0);
  }
};

TEST_F(WaveGraphTest, SignedSixteenBitBandsStackFromTheTop) {
  ASSERT_EQ(configureSimulated(3, 100), 0);
  const LONG format[32] = {1, 1, 1};
  SetupSampling2(format, 0, nullptr);
  TestWindow window(500, 300);
  Display d(2000);
  for (int c = 0; c < 3; ++c) d.show(c, kRed);
  SetupWaveGraph(window.hwnd(), &d.settings, d.traces, 0);
  const WaveGraph& g = waveGraph();
  EXPECT_EQ(g.bandHeight, 65536.0);
  EXPECT_EQ(g.visibleCount, 3);
  EXPECT_EQ(g.centre[0], 32768.0);
  EXPECT_EQ(g.centre[1], 98304.0);
  EXPECT_EQ(g.centre[2], 163840.0);
  EXPECT_DOUBLE_EQ(g.countsPerPixel, 655.36);
  EXPECT_EQ(g.visible[3], -1);
  // 2000 samples on 500 pixels: four per pixel.
  EXPECT_EQ(g.samplesPerPixel, 4.0);
  const LONG xs[] = {0, 0, 0, 0, 1, 1};
  for (int j = 0; j < 6; ++j) EXPECT_EQ(g.points[j].x, xs[j]);
  // The display's span sets the ring: 2000 x (16,000,000 / 2000) at 1 ms,
  // cut to whole scans of three channels.
  EXPECT_EQ(config().monitorSpan, 2000);
  EXPECT_EQ(ring().length.load(), 15999999);
}

TEST_F(WaveGraphTest, BandHeightFallsBackWhenTheBoardGivesNoScale) {
  ASSERT_EQ(configureSimulated(1, 100), 0);
  TestWindow window(100, 100);
  Display d(100);
  d.show(0, kRed);
  selection().zeroOffset = 2048;
  selection().resolution = 0;
  SetupWaveGraph(window.hwnd(), &d.settings, d.traces, 0);
  EXPECT_EQ(waveGraph().bandHeight, 4096.0);
  const LONG format[32] = {1};
  SetupSampling2(format, 0, nullptr);
  SetupWaveGraph(window.hwnd(), &d.settings, d.traces, 0);  // signed, no resolution: the zero stands in
  EXPECT_EQ(waveGraph().bandHeight, 4096.0);
  selection().zeroOffset = 0;
  SetupWaveGraph(window.hwnd(), &d.settings, d.traces, 0);
  EXPECT_EQ(waveGraph().bandHeight, 65536.0);
  EXPECT_GT(waveGraph().countsPerPixel, 0.0);
}

TEST_F(WaveGraphTest, EverySetupReleasesTheContextAndObjectsOfTheLastOne) {
  ASSERT_EQ(configureSimulated(1, 100), 0);
  TestWindow window(100, 100);
  Display d(100);
  d.show(0, kRed);
  SetupWaveGraph(window.hwnd(), &d.settings, d.traces, 0);
  const HDC oldDc = waveGraph().dc.get();
  const HGDIOBJ oldBrush = waveGraph().background.get();
  const HGDIOBJ oldPen = waveGraph().tracePens[0].get();
  ASSERT_NE(GetObjectType(oldBrush), 0u);
  for (int i = 0; i < 50; ++i) SetupWaveGraph(window.hwnd(), &d.settings, d.traces, 0);
  EXPECT_EQ(GetObjectType(oldBrush), 0u);
  EXPECT_EQ(GetObjectType(oldPen), 0u);
  EXPECT_EQ(GetObjectType(oldDc), 0u);
  GridLine lines[WAVE_GRAPH_GRID_LINES]{};
  SetupWaveGraph_XLINE(nullptr, lines);
  const HGDIOBJ oldGridPen = waveGraph().gridLinePens[5].get();
  SetupWaveGraph_XLINE(nullptr, lines);
  EXPECT_EQ(GetObjectType(oldGridPen), 0u);
}

TEST_F(WaveGraphTest, UnusableScalesDrawNothingAndNeverDivideByZero) {
  ASSERT_EQ(configureSimulated(1, 50), 0);
  TestWindow window(1, 1);
  Display d(0);  // no span
  d.show(0, kRed);
  SetupWaveGraph(window.hwnd(), &d.settings, d.traces, 0);
  EXPECT_FALSE(waveGraph().drawable());
  SetupWaveGraph(nullptr, &d.settings, d.traces, 0);  // no window: width and height 0
  EXPECT_FALSE(waveGraph().drawable());
  SetupWaveGraph(window.hwnd(), nullptr, d.traces, 0);
  readScans(1, 50);
  DrawWaveGraph();
}

TEST_F(WaveGraphTest, LiveStripsDrawTheTraceAndTheGridLines) {
  ASSERT_EQ(configureSimulated(2, 100), 0);
  SetTestSample(32768 + 8192, 0, 0);
  TestWindow window(200, 300);
  Display d(200);
  d.show(0, kRed);
  d.show(1, kWhite);
  d.traces[1].visible = 0;  // hidden: never drawn
  SetupWaveGraph(window.hwnd(), &d.settings, d.traces, 0);
  GridLine lines[WAVE_GRAPH_GRID_LINES]{};
  lines[0] = GridLine{-1, 50.0f, PS_SOLID, kGreen};
  lines[1] = GridLine{0, 25.0f, PS_SOLID, kGreen};  // not drawn
  SetupWaveGraph_XLINE(nullptr, lines);
  readScans(2, 150);
  // One visible trace: a band of 65536 counts on 300 pixels; +8192 counts
  // lies at (32768 - 8192) / 218.45 = 112.5.
  EXPECT_EQ(window.rowsWithColour(50, kRed), std::vector<int>{112});
  EXPECT_EQ(window.rowsWithColour(50, kGreen), std::vector<int>{150});  // 50 % of 300 from the bottom
  EXPECT_EQ(window.pixel(50, 225), RGB(0, 0, 0));
  EXPECT_EQ(window.pixel(50, 149), RGB(0, 0, 0));
  // Past the sweep (150 of 200 scans) nothing is drawn yet.
  EXPECT_EQ(window.rowsWithColour(180, kRed), std::vector<int>{});
  for (int x = 0; x < 200; ++x) ASSERT_TRUE(window.rowsWithColour(x, kWhite).empty()) << x;
}

TEST_F(WaveGraphTest, ReferenceLinesFollowTheirStepAndCount) {
  ASSERT_EQ(configureSimulated(1, 100), 0);
  TestWindow window(200, 300);
  Display d(200);
  d.show(0, kRed);
  d.traces[0].referenceLines = 2;
  d.traces[0].referenceStep = 6553;  // about 30 pixels per step
  d.traces[0].referenceColour = kGreen;
  SetTestSample(32768 + 16384, 0, 0);  // the trace at 75, off every line
  SetupWaveGraph(window.hwnd(), &d.settings, d.traces, 0);
  readScans(1, 150);
  EXPECT_EQ(window.pixel(50, 75), kRed);
  EXPECT_EQ(window.pixel(50, 150), kBlue);  // the zero line at the band centre
  // Dotted lines 6553 counts apart: 150 -/+ 29.99 and 59.99 pixels.
  auto dotted = [&](int y) {
    int ink = 0;
    for (int x = 10; x < 100; ++x) ink += window.pixel(x, y) == kGreen;
    return ink;
  };
  EXPECT_GT(dotted(120), 20);
  EXPECT_GT(dotted(90), 20);
  EXPECT_GT(dotted(179), 20);
  EXPECT_GT(dotted(209), 20);
  EXPECT_EQ(dotted(60), 0);  // only two on each side
  EXPECT_EQ(dotted(239), 0);
}

TEST_F(WaveGraphTest, NoZeroLineWhenTheCountIsMinusOneWhateverTheStep) {
  ASSERT_EQ(configureSimulated(1, 100), 0);
  SetTestSample(32768 + 16384, 0, 0);  // keep the trace off the centre
  TestWindow window(200, 300);
  Display d(200);
  d.show(0, kRed);
  d.traces[0].referenceLines = -1;
  d.traces[0].referenceStep = 1000;
  SetupWaveGraph(window.hwnd(), &d.settings, d.traces, 0);
  readScans(1, 150);
  const auto blue = window.rowsWithColour(50, kBlue);
  EXPECT_TRUE(blue.empty());
}

TEST_F(WaveGraphTest, HugeCountsAndNegativeIntervalsEndQuickly) {
  ASSERT_EQ(configureSimulated(1, 100), 0);
  TestWindow window(200, 300);
  Display d(200);
  d.show(0, kRed);
  d.traces[0].referenceLines = INT_MAX;
  d.traces[0].referenceStep = 200;
  d.settings.gridInterval = -3;
  SetupWaveGraph(window.hwnd(), &d.settings, d.traces, 0);
  readScans(1, 150);
  DrawWaveGraph();
  SUCCEED();
}

TEST_F(WaveGraphTest, DrawWaveGraphNeedsAStartedRun) {
  ASSERT_EQ(configureSimulated(1, 100), 0);
  TestWindow window(200, 100);
  Display d(200);
  d.show(0, kRed);
  SetupWaveGraph(window.hwnd(), &d.settings, d.traces, 0);
  waveGraph().sweep = 10;
  DrawWaveGraph();  // not started: the window keeps its fill
  EXPECT_TRUE(window.rowsWithColour(50, kRed).empty());
}

}  // namespace
