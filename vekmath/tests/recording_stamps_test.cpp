#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "acquisition/sampling_config.h"
#include "blocks/read_block.h"
#include "camera/camera_state.h"
#include "recording/recording_state.h"
#include "support/recording_fixture.h"
#include "support/wave_window.h"
#include "vekmath.h"

using namespace vekmath;
using namespace recordtest;

namespace {

TEST_F(RecordingTest, PositionsAreSpreadAndCountedBackFromTheAcquisitionStart) {
  struct Case {
    std::vector<int32_t> seen;
    int32_t periodUs;
    std::vector<LONG> stored;
  };
  const Case cases[] = {
      {{0, 0, 300, 300, 300, 600}, 1000, {0, 150, 300, 400, 500, 600}},
      {{0, 0, 0, 0}, 1000, {-300, -200, -100, 0}},
      {{0, 0, 0}, 0, {-200000, -100000, 0}},  // a period of 0 counts as 1
      {{40, 40, 40, 100, 100}, 1000, {40, 60, 80, 100, 100}},
      {{10, 20, 30}, 1000, {10, 20, 30}},
  };
  for (const Case& c : cases) {
    config().periodUs = c.periodUs;
    start();
    for (size_t i = 0; i < c.seen.size(); ++i) frameAt(c.seen[i], i / 30.0);
    end();
    EXPECT_EQ(positions(), c.stored) << "first seen " << c.seen[0];
    EXPECT_NE(config().periodUs, 0);
  }
}

// Script: f a frame, p pause, r resume, s stop capturing, a digit sets
// the frame interval. Frames are numbered in the order they come.
TEST_F(RecordingTest, FramesAreSkippedPausedAndStoppedAsAsked) {
  struct Case {
    LONG interval;
    const char* script;
    std::vector<double> recorded;
  };
  const Case cases[] = {
      {2, "fffffffff", {0, 3, 6}},
      {0, "f5ff1fff", {0, 3, 5}},  // lowered while skipping: the next frame counts
      {0, "fpffrf", {0, 3}},
      {0, "fsffpr", {0}},
      {-1, "fff", {0, 1, 2}},
  };
  for (const Case& c : cases) {
    SetFrameInterval(c.interval);
    start();
    int n = 0;
    for (const char* s = c.script; *s != '\0'; ++s) {
      if (*s == 'f') frame(n++);
      if (*s == 'p') SetManualMarks(1);
      if (*s == 'r') SetManualMarks(0);
      if (*s == 's') EndRecordCAPTURE();
      if (*s >= '0' && *s <= '9') SetFrameInterval(*s - '0');
    }
    end();
    EXPECT_EQ(times(), c.recorded) << c.script;
  }
  // A new recording captures again.
  EndRecordCAPTURE();
  start();
  frame(0);
  EXPECT_EQ(times().size(), 1u);
}

TEST_F(RecordingTest, TablesAreBoundedAndMarksOutsideThemIgnored) {
  start();
  recordingState().frameCount = kFrameEntries - 1;
  frameAt(5, 0);
  frameAt(6, 0);
  LONG frames = 0, blocks = 0;
  GetCaptureCounts(&frames, &blocks);
  EXPECT_EQ(frames, kFrameEntries);

  CameraMarks& marks = cameraMarks();
  EXPECT_EQ(SetCaptureMark(9, 3, 42), 3);
  for (LONG index : {-1, kBlockTimeEntries}) EXPECT_EQ(SetCaptureMark(11, index, 7), index);
  EXPECT_EQ(marks.blockCount.load(), 3);
  EXPECT_EQ(marks.blockTimes[3], 42u);
  end();
}

TEST_F(RecordingTest, GrabsAreNumberedAndBlockTimesKeptAsStamped) {
  ASSERT_EQ(wavetest::configureSimulated(1, 10), 0);
  LONG status = -1;
  StartSampling(&status);
  ASSERT_EQ(status, 0);
  std::vector<SHORT> block(10);
  ReadBlock(block.data(), 10, nullptr, nullptr);  // the run is noticed before the recording
  start();
  for (int b = 0; b < 3; ++b) ReadBlock(block.data(), 10, nullptr, nullptr);
  for (int g = 0; g < 2; ++g) {
    Camera().grabRequest.store(1);
    frame(g);
    EXPECT_EQ(Camera().grabRequest.load(), 0);
  }
  LONG frames = 0;
  const LONG blocks = GetCaptureCounts(&frames, nullptr);
  ASSERT_EQ(blocks, 3);
  std::vector<LONG> before(blocks + 1, -1), after(blocks + 1, -1);
  GetCaptureTimes(nullptr, before.data(), nullptr, nullptr);
  end();
  LONG grabbed = 0;
  GetCaptureTimes(nullptr, after.data(), nullptr, &grabbed);
  EXPECT_EQ(grabbed, 2);
  EXPECT_EQ(after, before);
  EXPECT_EQ(after[blocks], -1);  // nothing past the count is written
}

}  // namespace
