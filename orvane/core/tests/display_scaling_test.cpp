#include "core/display_scaling.h"

#include <gtest/gtest.h>

#include "core/toolkit.h"
#include "support/core_fixture.h"

namespace orvane::core {
namespace {

using testing::RecordingVekmath;

class CoreDisplayScalingTest : public testing::CoreTest {
 protected:
  void SetUp() override {
    CoreTest::SetUp();
    cal_.SetCalValue(0, "10");
    cal_.SetBaseValue(0, "0");
    cal_.SetCalAD(0, "31100");
    cal_.SetBaseAD(0, "-140");
    board_.SetBoardTypeIndex(-1);  // 16 bits
    scaling_.SetCBoard(board_);
    scaling_.SetCalibration(cal_);
  }
  RecordingVekmath vk_;
  Board board_;
  ChannelCalibration cal_;
  DisplayScaling scaling_;
};

TEST_F(CoreDisplayScalingTest, LimitsSpanTheBand) {
  scaling_.SetUpperLimit(0, 10);
  scaling_.SetLowerLimit(0, -10);
  EXPECT_NEAR(scaling_.ChannelGain(0), 65536.0 / 62200.0, 1e-6);
  EXPECT_NEAR(scaling_.ChannelOffset(0), 140 * 65536.0 / 62200.0, 1e-3);
}

TEST_F(CoreDisplayScalingTest, EqualLimitsAndEqualCounts) {
  scaling_.SetUpperLimit(1, 5);
  scaling_.SetLowerLimit(1, 5);
  EXPECT_EQ(scaling_.ChannelGain(1), 0.0f);
  EXPECT_EQ(scaling_.ChannelOffset(1), 0.0f);
  // Limits 0.01 apart round to the same count with 2048 counts per 100.
  scaling_.SetUpperLimit(1, 0.01f);
  scaling_.SetLowerLimit(1, 0.0f);
  EXPECT_EQ(scaling_.ChannelGain(1), 1.0f);
  EXPECT_EQ(scaling_.ChannelOffset(1), 0.0f);
}

TEST_F(CoreDisplayScalingTest, HugeLimitsOverflowAndIndicesAreChecked) {
  scaling_.SetUpperLimit(0, 1e30f);
  try {
    scaling_.ChannelGain(0);
    ADD_FAILURE();
  } catch (const ToolkitError& e) {
    EXPECT_EQ(e.Number(), kErrOverflow);
  }
  EXPECT_THROW(scaling_.UpperLimit(32), ToolkitError);
  EXPECT_THROW(scaling_.SetLowerLimit(-1, 0), ToolkitError);
  EXPECT_THROW(scaling_.ChannelOffset(32), ToolkitError);
}

TEST_F(CoreDisplayScalingTest, GridLinesForFourChannels) {
  scaling_.SetupGridLines(reinterpret_cast<HWND>(0x1234), 4);
  const auto& grid = scaling_.GridLines();
  const float want[] = {100, 93.75f, 87.5f, 81.25f, 75};
  for (int i = 0; i < 5; ++i) EXPECT_FLOAT_EQ(grid[static_cast<size_t>(i)].position, want[i]);
  EXPECT_FLOAT_EQ(grid[16].position, 0.0f);
  EXPECT_LT(grid[17].position, 0.0f);
  EXPECT_EQ(grid[0].colour, 0xFF00FFu);
  EXPECT_EQ(grid[1].colour, 0xC0C0C0u);
  EXPECT_EQ(grid[2].colour, 0xFFC0C0u);
  EXPECT_EQ(grid[4].colour, 0xFF00FFu);
  EXPECT_EQ(grid[127].drawn, -1);
  EXPECT_EQ(grid[128].drawn, 0);  // the spare record is never drawn
  ASSERT_EQ(vk_->xlineCalls, 1);
  EXPECT_EQ(vk_->xline[5].position, grid[5].position);
}

TEST_F(CoreDisplayScalingTest, NoChannelsClearsTheGridAndHandsNothingOver) {
  scaling_.SetupGridLines(nullptr, 2);
  EXPECT_THROW(scaling_.SetupGridLines(nullptr, 0), ToolkitError);
  EXPECT_EQ(scaling_.GridLines()[0].drawn, 0);
  EXPECT_EQ(vk_->xlineCalls, 1);
}

TEST(CoreDisplayScalingDefaults, UnsetObjectsAreMadeOnFirstUse) {
  RecordingVekmath vk;
  DisplayScaling scaling;
  EXPECT_EQ(scaling.CBoard().BoardTypeIndex(), 0);
  EXPECT_EQ(scaling.Calibration().CalAD(0), "2048");
  // Type 0 has 12 bits; 2048 counts per 100: limits 100 and -100 span 4096.
  scaling.SetUpperLimit(0, 100);
  scaling.SetLowerLimit(0, -100);
  EXPECT_FLOAT_EQ(scaling.ChannelGain(0), 1.0f);
}

}  // namespace
}  // namespace orvane::core
