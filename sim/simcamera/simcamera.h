// "SimCamera.dll": simulated video cameras for tests and for running without
// a camera. Each is installed in the registry and found by the layer's camera
// enumeration after the real cameras:
//   HKLM\HARDWARE\Simulated\Camera\<n>
//     "Library"        REG_SZ    "SimCamera.dll"
//     "FriendlyName", "Description", "DevicePath", "CapturePin"
//                      REG_SZ    (a missing text reads as empty)
//     "StreamConfig"   REG_DWORD 0: no stream configuration (no sizes listed,
//                                no size can be set)
//     "Sizes"          REG_SZ    "<w>x<h>@<min>-<max>" entries (intervals in
//                                100 ns), separated by ";"; the first is the
//                                size a new connection delivers
//     "PropertyDialog" REG_DWORD 0: the camera has no settings dialog
//
// Frames: camera <n>'s frame k (counted from 0 at each Run) has the sample
// time k / 30 s. Seen upright, the upper half shows k's low 16 bits as 16
// stripes across the width (most significant at the left; white 1, black 0),
// the lower half n's low 8 bits as 8 stripes the same way. Threaded mode (the
// default) paces frames at 30 a second and skips frames the consumer was too
// slow for, as a camera does; manual mode delivers frames only on StepFrames.
#pragma once
#include <platform/camera.h>

#include <cstdint>
#include <string>
#include <vector>

#define SIMCAMERA_API __attribute__((visibility("default")))

namespace simcamera {

inline constexpr const char* kLibraryName = "SimCamera.dll";

struct CameraSpec {
  std::string friendlyName = "Simulated Camera";
  std::string description;  // empty: the camera gives none
  std::string devicePath;   // empty: the camera gives none
  std::string capturePin = "Capture";
  bool hasStreamConfig = true;
  std::vector<plat::camera::FrameSize> sizes = {{320, 240}, {640, 480}};
  bool hasPropertyDialog = true;
};

// "HARDWARE\Simulated\Camera\<number>" (under HKLM).
SIMCAMERA_API std::string CameraKey(int number);

// Installs (or replaces) camera <number>; false for a negative number, a
// spec without sizes, a size under 1 x 1 or an interval range the wrong way
// round, or a registry failure.
SIMCAMERA_API bool InstallCamera(int number, const CameraSpec& spec);
// Removes every installed simulated camera (connections already made keep
// running).
SIMCAMERA_API bool UninstallAll();

// Manual mode for every simulated camera of the process (on or off at once).
SIMCAMERA_API void SetManualMode(bool manual);
// Manual mode: lets every running simulated camera deliver `frames` more
// frames and returns once all their callbacks have returned (or a camera
// stopped, or 10 s passed): the number of cameras that delivered them all.
// A callback must not wait for the thread that calls this.
SIMCAMERA_API int StepFrames(int frames);

// How often camera <number>'s settings dialog was shown in this process.
SIMCAMERA_API int PropertyDialogsShown(int number);

// The pattern read back from a delivered frame (bottom-up BGR24, rows
// padded to 4 bytes): -1 for a frame narrower than 16 pixels or shorter than
// 2 rows.
SIMCAMERA_API int FrameNumberOf(const uint8_t* pixels, int32_t width, int32_t height);
SIMCAMERA_API int CameraNumberOf(const uint8_t* pixels, int32_t width, int32_t height);

}  // namespace simcamera
