#include "support/recording_fixture.h"

#include <stdlib.h>
#include <unistd.h>

#include <filesystem>

#include "acquisition/ring.h"
#include "acquisition/sampling_config.h"
#include "blocks/read_block.h"
#include "camera/camera_state.h"
#include "recording/recording_state.h"
#include "support/wave_window.h"
#include "vekmath.h"

namespace recordtest {

void RecordingTest::SetUp() {
  char pattern[] = "/tmp/vekmath_record_XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  root_ = pattern;
  std::filesystem::create_directories(root_ + "/c");
  std::filesystem::create_directories(root_ + "/cwd");
  savedCwd_ = std::filesystem::current_path();
  std::filesystem::current_path(root_ + "/cwd");
  setenv("ORVANE_ROOT", root_.c_str(), 1);
  unsetenv("ORVANE_VIDEO_COMPRESSORS");
  vekmath::recordingState().wait = [](uint32_t) {};
  vekmath::CameraState& camera = vekmath::Camera();
  camera.width = kWidth;
  camera.height = kHeight;
  camera.imageSize = kImageSize;
  camera.frameHeader = BITMAPINFOHEADER{sizeof(BITMAPINFOHEADER), kWidth, kHeight, 1, 24, BI_RGB,
                                        static_cast<DWORD>(kImageSize), 0, 0, 0, 0};
  camera.baseFolder.clear();
  camera.lastGrabbed.store(0);
  SetFrameInterval(0);
  SetManualMarks(0);
  vekmath::ring().totalScans.store(0);
  pixels_.assign(kImageSize, 0);
}

void RecordingTest::TearDown() {
  end();
  wavetest::endRun();
  vekmath::config().lastStatus.store(0);
  vekmath::Camera().connection.reset();
  unsetenv("ORVANE_VIDEO_COMPRESSORS");
  std::error_code ignored;
  std::filesystem::current_path(savedCwd_, ignored);
  std::filesystem::remove_all(root_, ignored);
}

LONG RecordingTest::start() { return StartRecord("C:\\rec.avi", "", "C:\\rec.tim"); }

void RecordingTest::end() { EndRecord(0, 0, 0); }

void RecordingTest::frameAt(int32_t position, double t) {
  vekmath::ring().totalScans.store(position);
  frame(t);
}

void RecordingTest::frame(double t) {
  // A frame that differs from the one before, as a camera's do.
  for (size_t i = 0; i < pixels_.size(); ++i) pixels_[i] = static_cast<uint8_t>(i + static_cast<size_t>(t * 30) * 7);
  vekmath::BufferCB(t, pixels_.data(), kImageSize);
}

std::vector<LONG> RecordingTest::positions() {
  LONG frames = 0, blocks = 0;
  GetCaptureCounts(&frames, &blocks);
  std::vector<LONG> out(frames);
  GetCaptureTimes(out.data(), nullptr, nullptr, nullptr);
  return out;
}

std::vector<double> RecordingTest::times() {
  LONG frames = 0, blocks = 0;
  GetCaptureCounts(&frames, &blocks);
  std::vector<double> out(frames);
  GetCaptureTimes(nullptr, nullptr, out.data(), nullptr);
  return out;
}

}  // namespace recordtest
