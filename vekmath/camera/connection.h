// The capture side's steps on the one camera state, for the exports that
// connect, list and show the camera. Each expects the state's mutex held.
#pragma once
#include <windows.h>

#include <platform/camera.h>

#include "camera/camera_state.h"

namespace vekmath {

inline constexpr LONG kVfwNotConnected = static_cast<LONG>(0x80040209);

// Stops the stream (no callback runs after it) and releases the device.
void DisconnectLocked(CameraState& state);
// Runs the stream with the library's frame callback: 0 or a failure result.
LONG RunLocked(CameraState& state);

// Whether the camera's frames come from an output named as the capture
// output is ("キャプチャ" on a Japanese system, "Capture" elsewhere).
bool HasCapturePin(const plat::camera::CameraInfo& info);

// Asks the connected camera for a frame size at 30 frames a second once per
// capability it lists, tracing each step to "SetImageSize.TXT" in the
// current folder (made anew at each call).
void SetImageSize(CameraState& state, const plat::camera::CameraInfo& info, int32_t height, int32_t width);

}  // namespace vekmath
