// A real camera through V4L2: what a video node offers, and its stream.
#pragma once
#include <platform/camera_device.h>

#include <optional>
#include <string>
#include <vector>

#include "media/frame_converter.h"
#include "media/v4l2_io.h"

namespace plat::camera::v4l2 {

// One listed size with the pixel format it is captured in.
struct Mode {
  FrameSize size;
  uint32_t fourcc = 0;
};

struct NodeInfo {
  std::string node;  // "/dev/videoN"
  CameraInfo info;
  std::vector<Mode> modes;  // the same sizes as info.sizes, in order
  Mode current;             // what the node delivers before a size is set
};

// The longest side of a frame the stream takes: sizes a node lists beyond
// it are passed over, and a format it answers beyond it fails the start.
inline constexpr uint32_t kLargestSide = 0x7FFF;

// A frame size as a node gave it, when both sides lie in 1 to kLargestSide.
constexpr std::optional<FrameSize> BoundedSize(uint32_t width, uint32_t height) {
  if (width == 0 || height == 0 || width > kLargestSide || height > kLargestSide) return std::nullopt;
  return FrameSize{static_cast<int32_t>(width), static_cast<int32_t>(height)};
}

// Nothing for a node that is no capture device or offers neither YUYV nor
// MJPEG.
std::optional<NodeInfo> Probe(const std::string& node);

class Source final : public FrameSource {
 public:
  Source(NodeInfo node, UniqueFd fd);
  ~Source() override;

  bool Configure(int32_t width, int32_t height, int64_t interval100ns) override;
  int32_t Width() const override { return mode_.size.width; }
  int32_t Height() const override { return mode_.size.height; }
  bool Start(std::string* error) override;
  bool NextFrame(Frame& frame) override;
  void Interrupt() override;
  void Finish() override;

 private:
  bool fail(std::string* error, const char* step);
  bool requeue(unsigned index);

  const NodeInfo node_;
  UniqueFd fd_;
  UniqueFd wake_;  // an eventfd: Interrupt makes it readable
  Mode mode_;
  int64_t interval_ = 0;
  std::vector<Mapping> buffers_;
  bool requested_ = false;  // the driver holds buffers for this stream
  bool streaming_ = false;
  double startSeconds_ = 0;
  bool startFromFirst_ = false;  // timestamps of another clock: count from the first frame
  bool haveFirst_ = false;
  FrameConverter converter_;
  std::vector<uint8_t> pixels_;
};

}  // namespace plat::camera::v4l2
