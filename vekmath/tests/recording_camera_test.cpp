#include <gtest/gtest.h>
#include <simcamera.h>
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <vector>

#include "acquisition/ring.h"
#include "recording/recording_state.h"
#include "support/wave_window.h"
#include "vekmath.h"

namespace {

class CameraRecordingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/vekmath_camrec_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    root_ = pattern;
    std::filesystem::create_directories(root_ + "/c/cam");
    setenv("ORVANE_ROOT", root_.c_str(), 1);
    setenv("ORVANE_REGISTRY", (root_ + "/registry.sqlite").c_str(), 1);
    // The camera's size trace goes to the current folder: a private one.
    previous_ = std::filesystem::current_path();
    std::filesystem::current_path(root_);
    simcamera::SetManualMode(true);
    vekmath::recordingState().wait = [](uint32_t) {};
  }
  void TearDown() override {
    LONG status = 0;
    CloseCamera(nullptr, &status);
    CameraExit();
    wavetest::endRun();
    simcamera::UninstallAll();
    unsetenv("ORVANE_REGISTRY");
    std::error_code ignored;
    std::filesystem::current_path(previous_, ignored);
    std::filesystem::remove_all(root_, ignored);
  }
  std::string root_;
  std::filesystem::path previous_;
};

// The frames ffprobe counts in the file's video stream; -1 without ffprobe.
int probeFrames(const std::string& path) {
  const std::string command = "ffprobe -v error -count_frames -select_streams v:0 -show_entries "
                              "stream=nb_read_frames -of csv=p=0 '" + path + "' 2>/dev/null";
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return -1;
  int frames = -1;
  if (std::fscanf(pipe, "%d", &frames) != 1) frames = -1;
  return pclose(pipe) == 0 ? frames : -1;
}

// The simulated camera beside a simulated acquisition: every stepped frame
// is in the video file and stamped with the acquisition's position.
TEST_F(CameraRecordingTest, ASimulatedCameraIsRecordedBesideASimulatedRun) {
  if (std::system("ffprobe -version >/dev/null 2>&1") != 0) GTEST_SKIP() << "no ffprobe";
  ASSERT_TRUE(simcamera::InstallCamera(0, simcamera::CameraSpec{}));
  CameraInit();
  SelectCamera(0);
  LONG status = -1;
  OpenCamera(nullptr, "C:\\cam\\", 240, 320, &status);
  ASSERT_EQ(status, 0);
  ASSERT_EQ(wavetest::configureSimulated(4, 100), 0);
  StartSampling(&status);
  ASSERT_EQ(status, 0);
  std::vector<SHORT> block(4 * 100);
  ReadBlock(block.data(), 100, nullptr, nullptr);
  ASSERT_EQ(StartRecord("C:\\cam\\rec.avi", "", "C:\\cam\\rec.tim"), 0);
  for (int f = 0; f < 20; ++f) {
    ReadBlock(block.data(), 100, nullptr, nullptr);
    ASSERT_EQ(simcamera::StepFrames(1), 1);
  }
  EndRecord(0, 0, 0);
  LONG frames = 0, blocks = 0;
  GetCaptureCounts(&frames, &blocks);
  ASSERT_EQ(frames, 20);
  EXPECT_EQ(blocks, 20);
  std::vector<LONG> positions(frames), blockTimes(blocks);
  std::vector<double> times(frames);
  GetCaptureTimes(positions.data(), blockTimes.data(), times.data(), nullptr);
  for (int f = 1; f < frames; ++f) {
    EXPECT_LE(positions[f - 1], positions[f]);
    EXPECT_NEAR(times[f] - times[f - 1], 1.0 / 30, 1e-6);
  }
  EXPECT_GT(positions.back(), 0);
  EXPECT_EQ(std::filesystem::file_size(root_ + "/c/cam/rec.tim"), 20u * 4);
  EXPECT_TRUE(std::filesystem::is_directory(root_ + "/c/cam/BMP"));
  EXPECT_EQ(probeFrames(root_ + "/c/cam/rec.avi"), 20);
}

}  // namespace
