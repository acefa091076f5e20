// The recording's exports: they switch the frame callback's recording on
// and off and read what it stamped. The acquisition's last status is not
// theirs: a video file that fails is the recording's own status.
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "acquisition/ring.h"
#include "acquisition/sampling_config.h"
#include "blocks/read_block.h"
#include "camera/camera_state.h"
#include "recording/frame_time_file.h"
#include "recording/recording_state.h"
#include "recording/stills_folder.h"
#include "recording/video_file.h"
#include "vekmath.h"

namespace vekmath {
namespace {

std::string text(const char* s) { return s != nullptr ? std::string(s) : std::string(); }

// Whether a camera is connected, and its base folder then.
bool connectedBase(std::string& base) {
  CameraState& camera = Camera();
  std::lock_guard<std::mutex> hold(camera.mutex);
  base = camera.baseFolder;
  return camera.connection != nullptr;
}

int32_t storedBlocks() { return std::clamp(cameraMarks().blockCount.load(), 0, kBlockTimeEntries); }

}  // namespace
}  // namespace vekmath

using namespace vekmath;

DLL_EXPORT LONG WINAPI StartRecord(const char* videoPath, const char* secondText, const char* frameTimePath) {
  RecordingState& rec = recordingState();
  CameraState& camera = Camera();
  CameraMarks& marks = cameraMarks();
  marks.recording.store(0);  // no frame of the recording before goes to the new file
  rec.captureStopped.store(0);
  rec.status.store(OpenAviStream(videoPath, VideoFormat{camera.width, camera.height, camera.imageSize}));
  std::string base;
  const bool connected = connectedBase(base);
  {
    OpenVideoStream hold;
    rec.videoPath = text(videoPath);
    rec.secondText = text(secondText);
    rec.frameTimePath = text(frameTimePath);
    rec.stillsFolder = stillsFolderName(base);
  }
  if (connected) renewStillsFolder(base, camera.stillWindow);
  StopCamera();
  {
    OpenVideoStream hold;
    rec.clearTables();
    rec.skipCounter = rec.frameInterval.load();  // the first frame is written
  }
  camera.callbackEnabled.store(1);
  marks.recording.store(1);
  camera.previewDrawing.store(1);
  return RunCamera();
}

DLL_EXPORT void WINAPI EndRecord(LONG keepCallback, LONG keepPreview, LONG) {
  RecordingState& rec = recordingState();
  CameraState& camera = Camera();
  camera.callbackEnabled.store(keepCallback != 0 ? 1 : 0);
  camera.previewDrawing.store(keepPreview != 0 ? 1 : 0);
  cameraMarks().recording.store(0);
  rec.wait(100);
  CloseAviStream();
  StopCamera();
  rec.wait(100);
  SamplingConfig& cfg = config();
  if (cfg.periodUs == 0) cfg.periodUs = 1;
  OpenVideoStream hold;
  rec.placeBeforeAcquisition(cfg.periodUs);
  writeFrameTimeFile(rec.frameTimePath, rec.positions, rec.frameCount, rec.wait);
}

DLL_EXPORT void WINAPI EndRecordCAPTURE() { recordingState().captureStopped.store(1); }

DLL_EXPORT LONG WINAPI SetFrameInterval(LONG n) {
  recordingState().frameInterval.store(n);
  return n;
}

DLL_EXPORT LONG WINAPI SetManualMarks(LONG flag) {
  cameraMarks().paused.store(flag);
  return flag;
}

DLL_EXPORT LONG WINAPI SetCaptureMark(LONG position, LONG index, DWORD time) {
  ring().totalScans.store(position);
  if (index >= 0 && index < kBlockTimeEntries) {
    CameraMarks& marks = cameraMarks();
    marks.blockTimes[index] = time;
    marks.blockCount.store(index);
  }
  return index;
}

DLL_EXPORT LONG WINAPI GetCaptureCounts(LONG* frames, LONG* blocks) {
  const int32_t stamped = cameraMarks().blockCount.load();
  OpenVideoStream hold;
  if (frames != nullptr) *frames = recordingState().frameCount;
  if (blocks != nullptr) *blocks = stamped;
  return stamped;
}

DLL_EXPORT void WINAPI GetCaptureTimes(LONG* positions, LONG* blockTimes, double* frameTimes, LONG* grabbed) {
  RecordingState& rec = recordingState();
  OpenVideoStream hold;
  const size_t frames = static_cast<size_t>(rec.frameCount);
  if (positions != nullptr) std::memcpy(positions, rec.positions, frames * sizeof(LONG));
  if (frameTimes != nullptr) std::memcpy(frameTimes, rec.times, frames * sizeof(double));
  if (blockTimes != nullptr)
    std::memcpy(blockTimes, cameraMarks().blockTimes, static_cast<size_t>(storedBlocks()) * sizeof(LONG));
  if (grabbed != nullptr) *grabbed = Camera().lastGrabbed.load();
}

DLL_EXPORT void WINAPI GetLastStatus(LONG* status) {
  if (status != nullptr) *status = recordingState().status.load();
}
