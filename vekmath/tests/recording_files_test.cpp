#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "acquisition/ring.h"
#include "camera/camera_state.h"
#include "support/recording_fixture.h"
#include "support/wave_window.h"
#include "vekmath.h"

using namespace vekmath;
using namespace recordtest;

namespace {

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

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

TEST_F(RecordingTest, TheFrameTimeFileHoldsThePositionsLittleEndian) {
  start();
  for (int32_t p : {0x01020304, 0x01020305, -2}) frameAt(p, 0);
  end();
  const std::string expected("\x04\x03\x02\x01\x05\x03\x02\x01\xfe\xff\xff\xff", 12);
  EXPECT_EQ(readFile(root_ + "/c/rec.tim"), expected);
}

TEST_F(RecordingTest, TheVideoBesideASimulatedRunHoldsEveryRecordedFrame) {
  if (std::system("ffprobe -version >/dev/null 2>&1") != 0) GTEST_SKIP() << "no ffprobe";
  ASSERT_EQ(wavetest::configureSimulated(32, 100), 0);
  LONG status = -1;
  StartSampling(&status);
  ASSERT_EQ(status, 0);
  std::vector<SHORT> block(32 * 100);
  ReadBlock(block.data(), 100, nullptr, nullptr);
  SetFrameInterval(1);
  ASSERT_EQ(start(), RunCamera());  // no camera: the run's failure
  for (int f = 0; f < 30; ++f) {
    ReadBlock(block.data(), 100, nullptr, nullptr);
    frame(f / 30.0);
  }
  end();
  const std::vector<LONG> at = positions();
  ASSERT_EQ(at.size(), 15u);
  for (size_t i = 1; i < at.size(); ++i) EXPECT_LE(at[i - 1], at[i]);
  EXPECT_GT(at.back(), 0);
  EXPECT_LE(at.back(), ring().totalScans.load());
  EXPECT_EQ(readFile(root_ + "/c/rec.tim").size(), 15u * 4);
  EXPECT_EQ(probeFrames(root_ + "/c/rec.avi"), 15);
}

class StandInConnection : public plat::camera::Connection {
 public:
  bool SetFormat(int32_t, int32_t, int64_t) override { return true; }
  int32_t Width() const override { return kWidth; }
  int32_t Height() const override { return kHeight; }
  long ImageSize() const override { return kImageSize; }
  bool Run(plat::camera::FrameCallback) override { return true; }
  void Stop() override {}
  bool Running() const override { return false; }
  bool ShowProperties(HWND) override { return false; }
};

// Only the stills folder under an absolute base folder of a connected
// camera is emptied; nothing is taken from the current folder.
TEST_F(RecordingTest, TheStillsFolderIsRenewedOnlyUnderTheCameraBaseFolder) {
  struct Case {
    const char* base;
    bool connected;
    const char* still;  // Linux path under the root
    bool renewed;
  };
  const Case cases[] = {
      {"C:\\cam\\", true, "/c/cam/BMP/CAP0000000000.bmp", true},
      {"", true, "/cwd/BMP/CAP0000000000.bmp", false},
      {"cam\\", true, "/cwd/cam/BMP/CAP0000000000.bmp", false},
      {"C:\\cam\\", false, "/c/cam/BMP/CAP0000000000.bmp", false},
  };
  for (const Case& c : cases) {
    const std::filesystem::path still = root_ + c.still;
    std::filesystem::create_directories(still.parent_path());
    std::ofstream(still) << "old";
    Camera().baseFolder = c.base;
    if (c.connected) Camera().connection = std::make_unique<StandInConnection>();
    else Camera().connection.reset();
    start();
    end();
    EXPECT_EQ(std::filesystem::exists(still), !c.renewed) << c.base;
    EXPECT_TRUE(std::filesystem::is_directory(still.parent_path())) << c.base;
    std::filesystem::remove(still);
  }
}

}  // namespace
