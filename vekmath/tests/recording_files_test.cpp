#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "camera/camera_state.h"
#include "support/recording_fixture.h"
#include "vekmath.h"

using namespace vekmath;
using namespace recordtest;

namespace {

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST_F(RecordingTest, TheFrameTimeFileHoldsThePositionsLittleEndian) {
  start();
  for (int32_t p : {0x01020304, 0x01020305, -2}) frameAt(p, 0);
  end();
  const std::string expected("\x04\x03\x02\x01\x05\x03\x02\x01\xfe\xff\xff\xff", 12);
  EXPECT_EQ(readFile(root_ + "/c/rec.tim"), expected);
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
