// The monitor display of a known test signal, written as a picture under
// the build folder and checked pixel by pixel.
#include <gtest/gtest.h>

#include <windows.h>
#include <wingdi.h>

#include <filesystem>
#include <vector>

#include "drawing/wave_graph.h"
#include "support/wave_window.h"
#include "vekmath.h"

using namespace wavetest;

namespace {

constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kCyan = RGB(0, 255, 255);
constexpr COLORREF kYellow = RGB(255, 255, 0);

class WaveGraphPictureTest : public ::testing::Test {
 protected:
  void TearDown() override {
    endRun();
    vekmath::releaseWaveGraph();
  }
};

// Channel 0 holds +8192 counts, channel 1 a square wave of two periods
// over the span drawn at half gain. With two bands of 65536 counts on 300
// pixels (436.9 counts per pixel):
//   channel 0 at (32768 - 8192) / 436.9 = 56.25;
//   channel 1 low  (raw 0)     at (98304 + 0.5 x 32768) / 436.9 = 262.5,
//             high (raw 65535) at (98304 - 0.5 x 32767) / 436.9 = 187.5.
TEST_F(WaveGraphPictureTest, TestSignalTracesLieWhereTheirCountsSay) {
  ASSERT_EQ(configureSimulated(2, 100), 0);
  SetTestSample(32768 + 8192, 0, 0);
  SetTestChannelLength(500, 1);
  SetTestSquare(2, 500, 1);

  TestWindow window(500, 300);
  Display d(500);
  d.show(0, kRed);
  d.show(1, kCyan);
  d.traces[1].gain = 0.5f;
  d.settings.gridInterval = 100;
  SetupWaveGraph(window.hwnd(), &d.settings, d.traces, 0);

  LONG status = -1;
  StartSampling(&status);
  ASSERT_EQ(status, 0);
  std::vector<SHORT> block(2 * 100);
  for (int b = 0; b < 5; ++b) {
    ReadBlock(block.data(), 100, nullptr, &status);
    ASSERT_EQ(status, 0);
  }
  DrawWaveGraph();
  // Kept beside the other temporary files, for a person to look at.
  EXPECT_TRUE(window.save((std::filesystem::temp_directory_path() / "wave_graph_picture.bmp").string()));

  // Square wave: rows 0-124 low, 125-249 high, 250-374 low, 375-499 high.
  struct Probe {
    int x;
    int channel1Row;
  };
  for (const Probe& p : {Probe{20, 262}, Probe{60, 262}, Probe{190, 187}, Probe{230, 187}, Probe{310, 262},
                         Probe{440, 187}, Probe{480, 187}}) {
    EXPECT_EQ(window.rowsWithColour(p.x, kRed), std::vector<int>{56}) << "x " << p.x;
    EXPECT_EQ(window.rowsWithColour(p.x, kCyan), std::vector<int>{p.channel1Row}) << "x " << p.x;
  }
  // The edges of the square wave are drawn from row to row.
  const auto edge = window.rowsWithColour(124, kCyan).size() + window.rowsWithColour(125, kCyan).size();
  EXPECT_GE(edge, 75u);
  // The sweep line of the full redraw stands at the left edge.
  EXPECT_EQ(window.pixel(0, 10), kYellow);
  // Vertical grid every 100 samples at x = 99, 199, ...: dotted, so some
  // rows of those columns carry the grid colour.
  int gridInk = 0;
  for (int y = 0; y < 300; ++y) gridInk += window.pixel(199, y) == RGB(64, 64, 64);
  EXPECT_GT(gridInk, 100);
}

}  // namespace
