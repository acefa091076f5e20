// The frame callback, on the camera's streaming thread: serves a grab
// request, paints the preview, and while recording writes the frame to the
// video file and stamps it with the acquisition's position.
//
// It writes no status: a status query that succeeds here would report an
// acquisition failure as cleared, one that fails would stop the next run.
#include <vfw.h>

#include "acquisition/backend.h"
#include "acquisition/ring.h"
#include "blocks/read_block.h"
#include "camera/camera_state.h"
#include "recording/recording_state.h"
#include "recording/video_file.h"

namespace vekmath {
namespace {

// Boards that count their own scans give the position; for the others it
// is the scans the acquisition has read.
void takeBoardPosition() {
  int32_t scans = 0;
  if (selectedBackEnd().boardSampledScans(scans)) ring().totalScans.store(scans);
}

void serveGrab(CameraState& camera) {
  if (camera.grabRequest.load() == 0) return;
  camera.lastGrabbed.fetch_add(1);
  camera.grabRequest.store(0);
}

void record(const CameraState& camera, double sampleTime, uint8_t* pixels) {
  RecordingState& rec = recordingState();
  OpenVideoStream video;
  // An interval lowered while frames are skipped takes effect at once.
  if (rec.skipCounter < rec.frameInterval.load()) {
    ++rec.skipCounter;
    return;
  }
  if (rec.frameCount >= kFrameEntries) return;  // a full table ends the recording
  if (video.stream() != nullptr) {
    AVIStreamWrite(video.stream(), rec.frameCount, 1, pixels, static_cast<LONG>(camera.imageSize), AVIIF_KEYFRAME,
                   nullptr, nullptr);
  }
  rec.stamp(ring().totalScans.load(), sampleTime);
  rec.skipCounter = 0;
}

}  // namespace

void BufferCB(double sampleTime, uint8_t* pixels, long length) {
  CameraState& camera = Camera();
  const CameraMarks& marks = cameraMarks();
  if (marks.recording.load() == 1) takeBoardPosition();
  serveGrab(camera);
  if (camera.callbackEnabled.load() == 0) return;
  // A frame shorter than the connected format is not read past its end.
  if (pixels == nullptr || length < camera.imageSize) return;
  if (camera.previewDrawing.load() == 1) DrawFrame(camera.stillWindow, pixels, camera.frameHeader);
  if (marks.recording.load() != 1 || marks.paused.load() != 0 || recordingState().captureStopped.load() != 0) return;
  record(camera, sampleTime, pixels);
}

}  // namespace vekmath
