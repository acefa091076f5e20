// The V4L2 capture nodes of the machine, counted in node order.
#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "media/back_ends.h"
#include "media/v4l2_camera.h"

namespace plat::camera {

namespace {

class V4l2Device final : public Device {
 public:
  explicit V4l2Device(v4l2::NodeInfo node) : node_(std::move(node)) {}
  CameraInfo Info() const override { return node_.info; }
  std::unique_ptr<FrameSource> Open(std::string* error) override {
    UniqueFd fd = v4l2::OpenNode(node_.node);
    if (!fd) {
      if (error != nullptr) *error = "cannot open " + node_.node;
      return nullptr;
    }
    return std::make_unique<v4l2::Source>(node_, std::move(fd));
  }
  bool ShowProperties(HWND) override { return false; }

 private:
  const v4l2::NodeInfo node_;
};

std::vector<int> videoNodes() {
  std::vector<int> numbers;
  std::error_code failed;
  for (const auto& entry : std::filesystem::directory_iterator("/dev", failed)) {
    const std::string name = entry.path().filename().string();
    if (name.rfind("video", 0) != 0 || name.size() == 5) continue;
    char* end = nullptr;
    const long n = std::strtol(name.c_str() + 5, &end, 10);
    if (*end == '\0' && n >= 0 && n < 1 << 16) numbers.push_back(static_cast<int>(n));
  }
  std::sort(numbers.begin(), numbers.end());
  return numbers;
}

}  // namespace

std::vector<BackedDevice> V4l2Devices() {
  std::vector<BackedDevice> devices;
  for (int n : videoNodes()) {
    if (std::optional<v4l2::NodeInfo> node = v4l2::Probe("/dev/video" + std::to_string(n))) {
      devices.push_back({nullptr, std::make_unique<V4l2Device>(std::move(*node))});
    }
  }
  return devices;
}

}  // namespace plat::camera
