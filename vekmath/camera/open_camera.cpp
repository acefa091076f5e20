// Connecting and disconnecting the one camera of the process.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "blocks/read_block.h"
#include "camera/connection.h"
#include "camera/stream_records.h"
#include "vekmath.h"

namespace vekmath {
namespace {

// The apartment count of the calling thread: the first initialisation
// answers S_OK, each further one S_FALSE, as the platform's does.
thread_local int tApartments = 0;

void writeStatus(LONG* status, LONG value) {
  if (status != nullptr) *status = value;
}

// Grabber-side failure of a connection whose stream cannot reach us: no
// output carries the frames (not connected), or no frame can be described.
LONG connectedTypeResult(const CameraState& state, const plat::camera::CameraInfo& info) {
  if (!HasCapturePin(info)) return kVfwNotConnected;
  if (state.connection->Width() <= 0 || state.connection->Height() <= 0 || state.connection->ImageSize() <= 0)
    return E_FAIL;
  return S_OK;
}

void takeGeometry(CameraState& state) {
  const plat::camera::Connection& connection = *state.connection;
  state.width = connection.Width();
  state.height = connection.Height();
  state.imageSize = connection.ImageSize();
  state.stillBitOffset = kStillBitOffset;
  BITMAPINFOHEADER& header = state.frameHeader;
  header = BITMAPINFOHEADER{};
  header.biSize = sizeof(BITMAPINFOHEADER);
  header.biWidth = state.width;
  header.biHeight = state.height;
  header.biPlanes = 1;
  header.biBitCount = 24;
  header.biCompression = BI_RGB;
  header.biSizeImage = static_cast<DWORD>(state.imageSize);
}

}  // namespace
}  // namespace vekmath

DLL_EXPORT LONG WINAPI CameraInit(void) { return vekmath::tApartments++ == 0 ? S_OK : S_FALSE; }

DLL_EXPORT void WINAPI CameraExit(void) {
  vekmath::FreeCompressorSettings();
  if (vekmath::tApartments > 0) --vekmath::tApartments;
}

DLL_EXPORT LONG WINAPI SelectCamera(LONG index) {
  vekmath::CameraState& state = vekmath::Camera();
  std::lock_guard<std::mutex> lock(state.mutex);
  state.selected = index;
  return index;
}

DLL_EXPORT void WINAPI OpenCamera(HWND window, const char* folder, LONG height, LONG width, LONG* status) {
  using namespace vekmath;
  CameraState& state = Camera();
  std::lock_guard<std::mutex> lock(state.mutex);
  // One connection at a time: a second would feed the same callback.
  DisconnectLocked(state);
  state.stillWindow = window;
  state.requestedHeight = height;
  state.requestedWidth = width;
  state.baseFolder = folder != nullptr ? folder : "";

  const std::vector<plat::camera::CameraInfo> cameras = plat::camera::EnumerateCameras();
  if (state.selected < 0 || static_cast<size_t>(state.selected) >= cameras.size()) {
    writeStatus(status, 1);
    return;
  }
  // at(): the check above keeps the index inside; a slip there stops here.
  const plat::camera::CameraInfo& info = cameras.at(static_cast<size_t>(state.selected));
  state.connection = plat::camera::Connect(state.selected);
  if (!state.connection) {
    writeStatus(status, 1);
    return;
  }
  SetImageSize(state, info, height, width);
  // The connection stays made but does not run: the caller closes it.
  const LONG result = connectedTypeResult(state, info);
  if (result != S_OK) {
    writeStatus(status, result == kVfwNotConnected ? 2 : 1);
    return;
  }
  // Everything the frame callback reads is in place before the first frame.
  takeGeometry(state);
  state.defaultAviLength = kDefaultAviLength;
  state.previewDrawing = 1;
  cameraMarks().recording = 0;
  state.callbackEnabled = 1;
  RunLocked(state);
  writeStatus(status, 0);
}

DLL_EXPORT void WINAPI CloseCamera(HWND, LONG*) {
  vekmath::CameraState& state = vekmath::Camera();
  std::lock_guard<std::mutex> lock(state.mutex);
  vekmath::DisconnectLocked(state);
}

DLL_EXPORT void WINAPI GetCameraControl(intptr_t* control) {
  if (control == nullptr) return;
  vekmath::CameraState& state = vekmath::Camera();
  std::lock_guard<std::mutex> lock(state.mutex);
  *control = reinterpret_cast<intptr_t>(state.connection.get());
}
