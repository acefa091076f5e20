// The device the layer's enumeration makes from an installed key.
#include <platform/camera_device.h>

#include <cstdlib>

#include "hub.h"
#include "camera_key.h"
#include "source.h"

namespace simcamera {

namespace {

class SimDevice final : public plat::camera::Device {
 public:
  SimDevice(int number, CameraSpec spec) : number_(number), spec_(std::move(spec)) {}

  plat::camera::CameraInfo Info() const override {
    plat::camera::CameraInfo info;
    info.friendlyName = spec_.friendlyName;
    info.description = spec_.description;
    info.devicePath = spec_.devicePath;
    info.capturePin = spec_.capturePin;
    info.hasStreamConfig = spec_.hasStreamConfig;
    if (spec_.hasStreamConfig) info.sizes = spec_.sizes;
    return info;
  }

  std::unique_ptr<plat::camera::FrameSource> Open(std::string*) override {
    return std::make_unique<SimSource>(number_, spec_.sizes.front());
  }

  bool ShowProperties(HWND) override {
    if (!spec_.hasPropertyDialog) return false;
    Hub& h = hub();
    std::lock_guard<std::mutex> lock(h.mutex);
    ++h.dialogsShown[number_];
    return true;
  }

 private:
  const int number_;
  const CameraSpec spec_;
};

// The number after the key path's last backslash.
int numberOf(const std::string& path) {
  const size_t slash = path.rfind('\\');
  const char* digits = path.c_str() + (slash == std::string::npos ? 0 : slash + 1);
  char* end = nullptr;
  const long n = std::strtol(digits, &end, 10);
  return end != digits && *end == '\0' && n >= 0 && n <= 0x7FFFFFFF ? static_cast<int>(n) : -1;
}

}  // namespace

}  // namespace simcamera

extern "C" __attribute__((visibility("default"))) plat::camera::Device* OrvaneMakeCamera(const char* key) {
  if (key == nullptr) return nullptr;
  const int number = simcamera::numberOf(key);
  std::optional<simcamera::CameraSpec> spec = simcamera::ReadSpec(key);
  if (number < 0 || !spec) return nullptr;
  return new simcamera::SimDevice(number, std::move(*spec));
}

static_assert(std::is_same_v<decltype(&OrvaneMakeCamera), plat::camera::CameraFactory>);
