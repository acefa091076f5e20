// The seam between the layer's camera connections and the camera back ends:
// the V4L2 devices of the layer itself, and simulated cameras in libraries
// of sim/ that a test or a tool installs in the registry:
//   HKLM\HARDWARE\Simulated\Camera\<n>   (n = 0, 1, ... counted in numeric order)
//     "Library" REG_SZ  a module name for LoadLibraryA
// The layer loads the library and calls its CameraFactory
// (kCameraFactorySymbol) with the camera's key path (HKLM-relative); the
// library reads the rest of the key itself.
#pragma once
#include <platform/camera.h>

#include <cstdint>
#include <memory>
#include <string>

namespace plat::camera {

struct Frame {
  uint8_t* pixels = nullptr;  // bottom-up BGR24, rows padded to 4 bytes
  long length = 0;
  double sampleTime = 0;  // seconds since Start
};

// Bytes of one row of a bottom-up BGR24 frame.
constexpr long RowBytes(int32_t width) { return (static_cast<long>(width) * 3 + 3) & ~3L; }

// One opened stream of a device. The connection calls Configure and Start
// on its caller's thread while no frame is awaited, NextFrame on its
// streaming thread, Interrupt on any thread.
class FrameSource {
 public:
  virtual ~FrameSource() = default;
  // The size (and interval, 0 for the device's own) of the frames the next
  // Start delivers; false leaves the size in place.
  virtual bool Configure(int32_t width, int32_t height, int64_t interval100ns) = 0;
  virtual int32_t Width() const = 0;
  virtual int32_t Height() const = 0;
  // Starts the stream; sample times count from here. Clears an Interrupt.
  virtual bool Start(std::string* error) = 0;
  // Waits for the next frame: true with the frame, which stays valid until
  // the next NextFrame or Finish; false once Interrupt was called (or the
  // device failed).
  virtual bool NextFrame(Frame& frame) = 0;
  virtual void Interrupt() = 0;
  // Ends the stream after the last NextFrame has returned.
  virtual void Finish() = 0;
};

class Device {
 public:
  virtual ~Device() = default;
  virtual CameraInfo Info() const = 0;
  virtual std::unique_ptr<FrameSource> Open(std::string* error) = 0;
  virtual bool ShowProperties(HWND owner) = 0;
};

// Returns a new device (owned by the caller) or null for a key it cannot use.
using CameraFactory = Device* (*)(const char* key);
inline constexpr const char* kCameraFactorySymbol = "OrvaneMakeCamera";
inline constexpr const char* kInstalledCamerasKey = "HARDWARE\\Simulated\\Camera";

}  // namespace plat::camera
