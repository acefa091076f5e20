// The library keeps its selection, configuration, ring, test signals and
// camera for the whole process, as a program that loads it expects. A test
// program runs many tests in that one process, in any order, so every test
// ends with the library's state put back as the test found it: its run
// stopped, its board and camera closed, every setting as before.
#include <gtest/gtest.h>

#include <windows.h>

#include <array>
#include <cstddef>
#include <cstring>
#include <memory>
#include <string>
#include <type_traits>

#include "acquisition/ring.h"
#include "acquisition/sampling_config.h"
#include "acquisition/selection.h"
#include "backends/simulated/test_signals.h"
#include "camera/camera_state.h"
#include "recording/recording_state.h"
#include "vekmath.h"

namespace {

using namespace vekmath;

// Everything of the configuration but its atomic last status, which is the
// last member: copied as bytes so that a member added later is kept too.
static_assert(std::is_standard_layout_v<SamplingConfig>);
constexpr std::size_t kConfigPlainBytes = offsetof(SamplingConfig, lastStatus);

struct SelectionCopy {
  int32_t boardType;
  const BoardTypeInfo* row;
  BackEnd* backEnd;
  int32_t boardValue;
  std::array<char, kDeviceNameSize> deviceName;
  int32_t niDeviceNumber;
  uint8_t backEndFlag;
  int32_t zeroOffset;
  int32_t resolution;
};

struct RingCopy {
  int32_t length, writeIndex, lastChunkOverrun, lastWrapOverrun, wrapped, wrappedForEvents, unread, scanCounter,
      totalScans, running, stopRequested, started;
};

struct CameraCopy {
  HWND stillWindow;
  int32_t requestedHeight, requestedWidth;
  std::string baseFolder;
  int32_t selected, width, height;
  long imageSize;
  BITMAPINFOHEADER frameHeader;
  int32_t stillBitOffset, defaultAviLength;
  bool connected;
};

struct RecordingCopy {
  int32_t status, captureStopped, frameInterval;
  void (*wait)(uint32_t);
  int32_t skipCounter, frameCount, lastPosition, repeatCount;
  std::string videoPath, secondText, frameTimePath, stillsFolder;
};

struct Snapshot {
  std::array<unsigned char, kConfigPlainBytes> config;
  int32_t lastStatus;
  SelectionCopy selection;
  RingCopy ring;
  std::unique_ptr<int32_t[]> testTable{new int32_t[kTestRows * kTestColumns]};
  std::array<int32_t, kTestColumns> testLengths;
  int32_t testPacing;
  CameraCopy camera;
  RecordingCopy recording;
};

void take(Snapshot& s) {
  SamplingConfig& c = config();
  std::memcpy(s.config.data(), static_cast<const void*>(&c), kConfigPlainBytes);
  s.lastStatus = c.lastStatus.load();

  SelectionState& sel = selection();
  s.selection = {sel.boardType, sel.row.load(),        sel.backEnd.load(), sel.boardValue, {},
                 sel.niDeviceNumber, sel.backEndFlag.load(), sel.zeroOffset, sel.resolution};
  std::memcpy(s.selection.deviceName.data(), sel.deviceName, kDeviceNameSize);

  Ring& r = ring();
  s.ring = {r.length.load(),    r.writeIndex.load(),  r.lastChunkOverrun.load(), r.lastWrapOverrun.load(),
            r.wrapped.load(),   r.wrappedForEvents.load(), r.unread.load(),     r.scanCounter.load(),
            r.totalScans.load(), r.running.load(),    r.stopRequested.load(),    r.started.load()};

  TestSignals& t = testSignals();
  for (int32_t row = 0; row < kTestRows; ++row) {
    for (int32_t col = 0; col < kTestColumns; ++col) s.testTable[row * kTestColumns + col] = t.table[row][col].load();
  }
  for (int32_t col = 0; col < kTestColumns; ++col) s.testLengths[col] = t.length[col].load();
  s.testPacing = t.pacing.load();

  CameraState& cam = Camera();
  s.camera = {cam.stillWindow, cam.requestedHeight, cam.requestedWidth, cam.baseFolder, cam.selected,
              cam.width,       cam.height,          cam.imageSize,      cam.frameHeader,  cam.stillBitOffset,
              cam.defaultAviLength, cam.connection != nullptr};

  RecordingState& rec = recordingState();
  s.recording = {rec.status.load(), rec.captureStopped.load(), rec.frameInterval.load(), rec.wait,
                 rec.skipCounter,   rec.frameCount,            rec.lastPosition,         rec.repeatCount,
                 rec.videoPath,     rec.secondText,            rec.frameTimePath,        rec.stillsFolder};
}

void restore(const Snapshot& s) {
  // What runs goes first: the thread, the board, the camera.
  CloseBoard(nullptr);
  CameraState& cam = Camera();
  if (cam.connection != nullptr && !s.camera.connected) CloseCamera(cam.stillWindow, nullptr);

  SamplingConfig& c = config();
  std::memcpy(static_cast<void*>(&c), s.config.data(), kConfigPlainBytes);
  c.lastStatus.store(s.lastStatus);

  SelectionState& sel = selection();
  sel.boardType = s.selection.boardType;
  sel.row.store(s.selection.row);
  sel.backEnd.store(s.selection.backEnd);
  sel.boardValue = s.selection.boardValue;
  std::memcpy(sel.deviceName, s.selection.deviceName.data(), kDeviceNameSize);
  sel.niDeviceNumber = s.selection.niDeviceNumber;
  sel.backEndFlag.store(s.selection.backEndFlag);
  sel.zeroOffset = s.selection.zeroOffset;
  sel.resolution = s.selection.resolution;

  Ring& r = ring();
  r.length.store(s.ring.length);
  r.writeIndex.store(s.ring.writeIndex);
  r.lastChunkOverrun.store(s.ring.lastChunkOverrun);
  r.lastWrapOverrun.store(s.ring.lastWrapOverrun);
  r.wrapped.store(s.ring.wrapped);
  r.wrappedForEvents.store(s.ring.wrappedForEvents);
  r.unread.store(s.ring.unread);
  r.scanCounter.store(s.ring.scanCounter);
  r.totalScans.store(s.ring.totalScans);
  r.running.store(s.ring.running);
  r.stopRequested.store(s.ring.stopRequested);
  r.started.store(s.ring.started);

  TestSignals& t = testSignals();
  for (int32_t row = 0; row < kTestRows; ++row) {
    for (int32_t col = 0; col < kTestColumns; ++col) t.table[row][col].store(s.testTable[row * kTestColumns + col]);
  }
  for (int32_t col = 0; col < kTestColumns; ++col) t.length[col].store(s.testLengths[col]);
  t.pacing.store(s.testPacing);

  cam.stillWindow = s.camera.stillWindow;
  cam.requestedHeight = s.camera.requestedHeight;
  cam.requestedWidth = s.camera.requestedWidth;
  cam.baseFolder = s.camera.baseFolder;
  cam.selected = s.camera.selected;
  cam.width = s.camera.width;
  cam.height = s.camera.height;
  cam.imageSize = s.camera.imageSize;
  cam.frameHeader = s.camera.frameHeader;
  cam.stillBitOffset = s.camera.stillBitOffset;
  cam.defaultAviLength = s.camera.defaultAviLength;

  RecordingState& rec = recordingState();
  rec.status.store(s.recording.status);
  rec.captureStopped.store(s.recording.captureStopped);
  rec.frameInterval.store(s.recording.frameInterval);
  rec.wait = s.recording.wait;
  rec.skipCounter = s.recording.skipCounter;
  rec.frameCount = s.recording.frameCount;
  rec.lastPosition = s.recording.lastPosition;
  rec.repeatCount = s.recording.repeatCount;
  rec.videoPath = s.recording.videoPath;
  rec.secondText = s.recording.secondText;
  rec.frameTimePath = s.recording.frameTimePath;
  rec.stillsFolder = s.recording.stillsFolder;
}

class RestoreProcessState : public ::testing::EmptyTestEventListener {
  void OnTestStart(const ::testing::TestInfo&) override { take(found_); }
  void OnTestEnd(const ::testing::TestInfo&) override { restore(found_); }
  Snapshot found_;
};

const bool installed = [] {
  ::testing::UnitTest::GetInstance()->listeners().Append(new RestoreProcessState);
  return true;
}();

}  // namespace
