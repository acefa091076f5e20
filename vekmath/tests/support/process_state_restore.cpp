// The library keeps its selection, configuration, ring, test signals and
// camera for the whole process, as a program that loads it expects. A test
// program runs many tests in that one process, in any order, so every test
// ends with the library's state put back as the test found it: its run
// stopped, its board and camera closed, every setting as before.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstddef>
#include <cstring>
#include <functional>
#include <memory>
#include <type_traits>
#include <vector>

#include "acquisition/ring.h"
#include "acquisition/sampling_config.h"
#include "acquisition/selection.h"
#include "backends/simulated/test_signals.h"
#include "camera/camera_state.h"
#include "recording/recording_state.h"
#include "vekmath.h"

namespace {

using namespace vekmath;

// Values taken when a test starts, each with the step that puts it back.
class Kept {
 public:
  template <typename T>
  void keep(T& field) {
    restores_.push_back([&field, value = field] { field = value; });
  }
  template <typename T>
  void keep(std::atomic<T>& field) {
    restores_.push_back([&field, value = field.load()] { field.store(value); });
  }
  template <typename T, std::size_t N>
  void keep(std::atomic<T> (&fields)[N]) {
    for (std::atomic<T>& f : fields) keep(f);
  }
  void keepBytes(void* at, std::size_t size) {
    auto copy = std::make_shared<std::vector<unsigned char>>(size);
    std::memcpy(copy->data(), at, size);
    restores_.push_back([at, copy] { std::memcpy(at, copy->data(), copy->size()); });
  }
  void restore() {
    for (const auto& r : restores_) r();
    restores_.clear();
  }

 private:
  std::vector<std::function<void()>> restores_;
};

// Everything of the configuration before its atomic last status, copied as
// bytes so that a member added there later is kept too.
static_assert(std::is_standard_layout_v<SamplingConfig>);

void take(Kept& k) {
  SamplingConfig& c = config();
  k.keepBytes(static_cast<void*>(&c), offsetof(SamplingConfig, lastStatus));
  k.keep(c.lastStatus);

  SelectionState& sel = selection();
  k.keep(sel.boardType);
  k.keep(sel.row);
  k.keep(sel.backEnd);
  k.keep(sel.boardValue);
  k.keepBytes(sel.deviceName, sizeof sel.deviceName);
  k.keep(sel.niDeviceNumber);
  k.keep(sel.backEndFlag);
  k.keep(sel.zeroOffset);
  k.keep(sel.resolution);

  Ring& r = ring();
  for (std::atomic<int32_t>* f : {&r.length, &r.writeIndex, &r.lastChunkOverrun, &r.lastWrapOverrun, &r.wrapped,
                                  &r.wrappedForEvents, &r.unread, &r.scanCounter, &r.totalScans, &r.running,
                                  &r.stopRequested, &r.started}) {
    k.keep(*f);
  }

  // The table's atomics hold plain ints: no thread plays it between tests.
  TestSignals& t = testSignals();
  static_assert(sizeof(std::atomic<int32_t>) == sizeof(int32_t));
  k.keepBytes(static_cast<void*>(&t.table), sizeof t.table);
  k.keep(t.length);
  k.keep(t.pacing);

  CameraState& cam = Camera();
  k.keep(cam.stillWindow);
  k.keep(cam.requestedHeight);
  k.keep(cam.requestedWidth);
  k.keep(cam.baseFolder);
  k.keep(cam.selected);
  k.keep(cam.width);
  k.keep(cam.height);
  k.keep(cam.imageSize);
  k.keep(cam.frameHeader);
  k.keep(cam.stillBitOffset);
  k.keep(cam.defaultAviLength);

  RecordingState& rec = recordingState();
  k.keep(rec.status);
  k.keep(rec.captureStopped);
  k.keep(rec.frameInterval);
  k.keep(rec.wait);
  k.keep(rec.skipCounter);
  k.keep(rec.frameCount);
  k.keep(rec.lastPosition);
  k.keep(rec.repeatCount);
  k.keep(rec.videoPath);
  k.keep(rec.secondText);
  k.keep(rec.frameTimePath);
  k.keep(rec.stillsFolder);
}

class RestoreProcessState : public ::testing::EmptyTestEventListener {
  void OnTestStart(const ::testing::TestInfo&) override {
    cameraWasConnected_ = Camera().connection != nullptr;
    take(kept_);
  }
  void OnTestEnd(const ::testing::TestInfo&) override {
    // What runs goes first: the thread, the board, the camera.
    CloseBoard(nullptr);
    if (Camera().connection != nullptr && !cameraWasConnected_) CloseCamera(Camera().stillWindow, nullptr);
    kept_.restore();
  }
  Kept kept_;
  bool cameraWasConnected_ = false;
};

const bool installed = [] {
  ::testing::UnitTest::GetInstance()->listeners().Append(new RestoreProcessState);
  return true;
}();

}  // namespace
