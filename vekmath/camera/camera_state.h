// The one camera connection of the process: what connecting it fixed, and
// the flags that the frame callback reads on the streaming thread. Kept in
// one place; the capture side (connect, preview, grab, properties) and the
// recording side (the frame callback, the video file) both work on it.
#pragma once
#include <windows.h>
#include <wingdi.h>

#include <platform/camera.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

namespace vekmath {

inline constexpr int32_t kDefaultAviLength = 600;

struct CameraState {
  std::mutex mutex;  // connect and disconnect against each other
  HWND stillWindow = nullptr;  // the preview window given to OpenCamera
  int32_t requestedHeight = 0;
  int32_t requestedWidth = 0;
  std::string baseFolder;  // ANSI, ends with a backslash
  int32_t selected = 0;
  std::unique_ptr<plat::camera::Connection> connection;  // null when not connected

  // Taken from the connection at connect time.
  int32_t width = 0;
  int32_t height = 0;
  long imageSize = 0;
  BITMAPINFOHEADER frameHeader{};
  int32_t stillBitOffset = 54;
  int32_t defaultAviLength = 0;  // set to kDefaultAviLength at every connect

  std::atomic<uint8_t> callbackEnabled{0};
  std::atomic<uint8_t> previewDrawing{0};
  std::atomic<uint8_t> grabRequest{0};
  // Which frame the last grab request was served with: a sequence number
  // from 1, 0 until the first grab (an address would not fit 32 bits).
  std::atomic<int32_t> lastGrabbed{0};
};

CameraState& Camera();

// Paints one frame stretched over the window's outer size (capture side).
void DrawFrame(HWND window, const uint8_t* pixels, const BITMAPINFOHEADER& header);

// Stops and restarts the connection's stream (capture side); RunCamera
// gives 0 or a nonzero failure result, as running a graph does.
LONG RunCamera();
void StopCamera();

// The frame callback that every connection is run with (recording side):
// serves a grab request, paints the preview and records.
void BufferCB(double sampleTime, uint8_t* pixels, long length);

// Frees the compressor settings of the recording (recording side; called
// by CameraExit).
void FreeCompressorSettings();

}  // namespace vekmath
