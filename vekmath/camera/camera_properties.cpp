// The camera's own settings dialog, shown twice as the platform's capture
// graph shows its pages: once over the running stream, once with the stream
// stopped. The export has no way to report a failure, so its texts go to
// the debug output; the acquisition's message buffer is not the camera's.
#include <windows.h>

#include "camera/connection.h"
#include "vekmath.h"

namespace vekmath {
namespace {

// "IBaseFilterの取得に失敗しました。" and "ISpecifyPropertyPagesの取得に失敗しました。"
// in the ANSI code page.
constexpr char kNoDeviceText[] =
    "IBaseFilter\x82\xCC\x8E\xE6\x93\xBE\x82\xC9\x8E\xB8\x94\x73\x82\xB5\x82\xDC\x82\xB5\x82\xBD\x81\x42";
constexpr char kNoPagesText[] =
    "ISpecifyPropertyPages\x82\xCC\x8E\xE6\x93\xBE\x82\xC9\x8E\xB8\x94\x73\x82\xB5\x82\xDC\x82\xB5\x82\xBD\x81\x42";

}  // namespace
}  // namespace vekmath

DLL_EXPORT void WINAPI ShowCameraProperties(void) {
  using namespace vekmath;
  CameraState& state = Camera();
  std::lock_guard<std::mutex> lock(state.mutex);
  if (!state.connection) {
    OutputDebugStringA(kNoDeviceText);
    return;
  }
  if (!state.connection->ShowProperties(nullptr)) {
    OutputDebugStringA(kNoPagesText);
    return;
  }
  const bool wasRunning = state.connection->Running();
  state.connection->Stop();
  state.connection->ShowProperties(nullptr);
  if (wasRunning) RunLocked(state);
}
