// Video cameras of the machine: the real ones through V4L2 and the
// simulated ones installed for tests, counted in one enumeration (the real
// ones first). A connection delivers every frame as bottom-up 24-bit BGR
// rows padded to 4 bytes, on a streaming thread of its own.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace plat::camera {

// One frame size a camera offers, with its frame-interval range in 100 ns.
struct FrameSize {
  int32_t width = 0;
  int32_t height = 0;
  int64_t minInterval = 333333;
  int64_t maxInterval = 333333;
};

struct CameraInfo {
  std::string friendlyName;  // ANSI (CP932) texts, as the device names them
  std::string description;
  std::string devicePath;
  std::string capturePin = "Capture";  // the output the frames come from
  bool hasStreamConfig = true;         // false: sizes cannot be listed or set
  std::vector<FrameSize> sizes;
};

// Called on the streaming thread: the frame's time in seconds since the
// stream started, its pixels and their byte count. The buffer is valid only
// during the call.
using FrameCallback = std::function<void(double sampleTime, uint8_t* pixels, long length)>;

class Connection {
 public:
  virtual ~Connection() = default;  // stops the stream and releases the device
  // Asks for a frame size and interval; false when the camera refuses it
  // (the size it keeps is what Width/Height then give).
  virtual bool SetFormat(int32_t width, int32_t height, int64_t interval100ns) = 0;
  virtual int32_t Width() const = 0;
  virtual int32_t Height() const = 0;
  virtual long ImageSize() const = 0;  // bytes of one delivered frame
  // Starts delivering frames to `callback` (replacing one given before);
  // false when the stream cannot run. Stop ends delivery and returns only
  // when no callback runs any more.
  virtual bool Run(FrameCallback callback) = 0;
  virtual void Stop() = 0;
  virtual bool Running() const = 0;
  // The device's own settings dialog, modal over `owner`; false when the
  // device has none.
  virtual bool ShowProperties(HWND owner) = 0;
};

#pragma GCC visibility push(default)

std::vector<CameraInfo> EnumerateCameras();

// Connects camera `index` of the enumeration; null when there is none at
// that index or it cannot be opened (`error` then says why).
std::unique_ptr<Connection> Connect(int32_t index, std::string* error = nullptr);

#pragma GCC visibility pop

}  // namespace plat::camera
