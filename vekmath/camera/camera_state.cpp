#include "camera/camera_state.h"

#include "camera/connection.h"

namespace vekmath {

CameraState& Camera() {
  static CameraState state;
  return state;
}

void DisconnectLocked(CameraState& state) {
  state.callbackEnabled = 0;
  if (!state.connection) return;
  state.connection->Stop();
  state.connection.reset();
}

LONG RunLocked(CameraState& state) {
  if (!state.connection) return E_POINTER;
  return state.connection->Run(BufferCB) ? S_OK : E_FAIL;
}

LONG RunCamera() {
  CameraState& state = Camera();
  std::lock_guard<std::mutex> lock(state.mutex);
  return RunLocked(state);
}

void StopCamera() {
  CameraState& state = Camera();
  std::lock_guard<std::mutex> lock(state.mutex);
  if (state.connection) state.connection->Stop();
}

}  // namespace vekmath
