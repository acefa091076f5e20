// Placeholder until the capture side lands.
#include "camera/camera_state.h"

namespace vekmath {

CameraState& Camera() {
  static CameraState state;
  return state;
}

void DrawFrame(HWND, const uint8_t*, const BITMAPINFOHEADER&) {}
LONG RunCamera() { return 1; }
void StopCamera() {}

}  // namespace vekmath
