#include <gtest/gtest.h>
#include <skorradev.h>
#include <stdlib.h>

#include <vector>

#include "acquisition/ring.h"
#include "acquisition/sampling_config.h"
#include "camera/camera_state.h"
#include "recording/recording_state.h"
#include "support/recording_fixture.h"
#include "support/vendor_b_board.h"
#include "support/wave_window.h"
#include "vekmath.h"

using namespace vekmath;
using namespace recordtest;

namespace {

constexpr int32_t kAcquisitionFailure = static_cast<int32_t>(0xC0001021u);

// A video file that fails is the recording's status alone: the acquisition
// keeps its own, a run beside it goes on, and frames are still stamped.
TEST_F(RecordingTest, AFailedVideoFileLeavesTheAcquisitionAlone) {
  struct Case {
    const char* compressors;
    const char* path;
    int32_t acquisitionStatus;
    LONG recordingStatus;
  };
  const Case cases[] = {
      {nullptr, "C:\\rec.avi", 0, 0},
      {"none", "C:\\rec.avi", 0, 3},
      {nullptr, "C:\\no\\such\\folder\\rec.avi", 0, 1},
      {"none", "C:\\rec.avi", kAcquisitionFailure, 3},
  };
  for (const Case& c : cases) {
    if (c.compressors != nullptr) setenv("ORVANE_VIDEO_COMPRESSORS", c.compressors, 1);
    else unsetenv("ORVANE_VIDEO_COMPRESSORS");
    const bool run = c.acquisitionStatus == 0;
    if (run) {
      ASSERT_EQ(wavetest::configureSimulated(2, 20), 0);
      LONG status = -1;
      StartSampling(&status);
      ASSERT_EQ(status, 0);
    }
    config().lastStatus.store(c.acquisitionStatus);
    StartRecord(c.path, "", "C:\\rec.tim");
    LONG recording = -1;
    GetLastStatus(&recording);
    EXPECT_EQ(recording, c.recordingStatus) << c.path;
    EXPECT_EQ(config().lastStatus.load(), c.acquisitionStatus);
    if (run) {
      std::vector<SHORT> block(2 * 20);
      LONG running = -1, status = -1;
      for (int b = 0; b < 3; ++b) {
        ReadBlock(block.data(), 20, &running, &status);
        ASSERT_EQ(status, 0);
        ASSERT_EQ(running, 1);
      }
    }
    for (int f = 0; f < 3; ++f) frame(f);
    end();
    EXPECT_EQ(times().size(), 3u);
    config().lastStatus.store(0);
    wavetest::endRun();
  }
}

class BoardCountTest : public vendorbtest::VendorBBoard {};

// The board's own count is the position; the query never writes the
// library's last status, neither a success over a failure nor a failure
// after the board is gone.
TEST_F(BoardCountTest, FramesTakeTheBoardsCountAndLeaveTheLastStatus) {
  recordingState().wait = [](uint32_t) {};
  Camera().imageSize = kImageSize;
  std::vector<uint8_t> pixels(kImageSize);
  ASSERT_EQ(setUp(5, "SKORRA1", 2), 0);
  ASSERT_EQ(start(), 0);
  StartRecord("C:\\board.avi", "", "C:\\board.tim");
  ASSERT_TRUE(SkorradevSimAdvance(1, 120));
  config().lastStatus.store(kAcquisitionFailure);
  BufferCB(0, pixels.data(), kImageSize);
  EXPECT_EQ(config().lastStatus.load(), kAcquisitionFailure);
  config().lastStatus.store(0);
  LONG status = 0;
  CloseBoard(&status);
  BufferCB(1, pixels.data(), kImageSize);
  EXPECT_EQ(config().lastStatus.load(), 0);
  EndRecord(0, 0, 0);
  std::vector<LONG> positions(2);
  GetCaptureTimes(positions.data(), nullptr, nullptr, nullptr);
  EXPECT_EQ(positions, (std::vector<LONG>{120, 120}));
}

}  // namespace
