// A single-frame grab: the request is served by the frame callback on the
// streaming thread while the caller's window keeps its messages flowing.
#include <windows.h>

#include "camera/camera_state.h"
#include "camera/frame_wait.h"
#include "vekmath.h"

namespace vekmath {

std::atomic<DWORD> gFrameWaitMs{kFrameWaitMs};

}  // namespace vekmath

DLL_EXPORT BYTE WINAPI WaitNextFrame(void) {
  using namespace vekmath;
  CameraState& state = Camera();
  state.grabRequest = 1;
  const ULONGLONG deadline = GetTickCount64() + gFrameWaitMs.load();
  // Without a running stream the request is never served.
  while (state.grabRequest.load() != 0) {
    if (GetTickCount64() >= deadline) {
      // Withdrawn unless a frame served it meanwhile.
      uint8_t pending = 1;
      return state.grabRequest.compare_exchange_strong(pending, 0) ? 1 : 0;
    }
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0x8000, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    Sleep(1);
  }
  return 0;
}
