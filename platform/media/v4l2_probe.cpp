// What a V4L2 video node offers, as the enumeration lists it.
#include <linux/videodev2.h>

#include <algorithm>
#include <cstring>

#include "media/v4l2_camera.h"

namespace plat::camera::v4l2 {

namespace {

constexpr uint32_t kFormats[] = {V4L2_PIX_FMT_YUYV, V4L2_PIX_FMT_MJPEG};

int64_t to100ns(const v4l2_fract& f) {
  return f.denominator == 0 ? 0 : static_cast<int64_t>(f.numerator) * 10'000'000 / f.denominator;
}

std::string text(const unsigned char* bytes, size_t size) {
  const auto* chars = reinterpret_cast<const char*>(bytes);
  return std::string(chars, strnlen(chars, size));
}

bool offers(int fd, uint32_t fourcc) {
  v4l2_fmtdesc desc{};
  desc.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
  for (desc.index = 0; Control(fd, VIDIOC_ENUM_FMT, &desc); ++desc.index) {
    if (desc.pixelformat == fourcc) return true;
  }
  return false;
}

// The interval range at one size; 30 a second when the node does not say.
FrameSize intervals(int fd, uint32_t fourcc, uint32_t width, uint32_t height) {
  FrameSize size{static_cast<int32_t>(width), static_cast<int32_t>(height)};
  v4l2_frmivalenum e{};
  e.pixel_format = fourcc;
  e.width = width;
  e.height = height;
  bool any = false;
  for (e.index = 0; Control(fd, VIDIOC_ENUM_FRAMEINTERVALS, &e); ++e.index) {
    int64_t low = 0;
    int64_t high = 0;
    if (e.type == V4L2_FRMIVAL_TYPE_DISCRETE) {
      low = high = to100ns(e.discrete);
    } else {
      low = to100ns(e.stepwise.min);
      high = to100ns(e.stepwise.max);
    }
    if (low <= 0 || high < low) continue;
    size.minInterval = any ? std::min(size.minInterval, low) : low;
    size.maxInterval = any ? std::max(size.maxInterval, high) : high;
    any = true;
    if (e.type != V4L2_FRMIVAL_TYPE_DISCRETE) break;
  }
  return size;
}

void addSizes(int fd, uint32_t fourcc, std::vector<Mode>& modes) {
  v4l2_frmsizeenum e{};
  e.pixel_format = fourcc;
  for (e.index = 0; Control(fd, VIDIOC_ENUM_FRAMESIZES, &e); ++e.index) {
    std::vector<std::pair<uint32_t, uint32_t>> sizes;
    if (e.type == V4L2_FRMSIZE_TYPE_DISCRETE) {
      sizes.emplace_back(e.discrete.width, e.discrete.height);
    } else {  // a range: its ends
      sizes.emplace_back(e.stepwise.min_width, e.stepwise.min_height);
      sizes.emplace_back(e.stepwise.max_width, e.stepwise.max_height);
    }
    for (auto [w, h] : sizes) {
      if (!BoundedSize(w, h)) continue;
      Mode mode{intervals(fd, fourcc, w, h), fourcc};
      auto same = std::find_if(modes.begin(), modes.end(), [&](const Mode& m) {
        return m.size.width == mode.size.width && m.size.height == mode.size.height;
      });
      if (same == modes.end()) {
        modes.push_back(mode);
      } else if (mode.size.minInterval < same->size.minInterval) {
        *same = mode;  // the format that reaches the higher frame rate
      }
    }
    if (e.type != V4L2_FRMSIZE_TYPE_DISCRETE) break;
  }
}

}  // namespace

std::optional<NodeInfo> Probe(const std::string& node) {
  UniqueFd fd = OpenNode(node);
  if (!fd) return std::nullopt;
  v4l2_capability cap{};
  if (!Control(fd.get(), VIDIOC_QUERYCAP, &cap)) return std::nullopt;
  const uint32_t caps = (cap.capabilities & V4L2_CAP_DEVICE_CAPS) != 0 ? cap.device_caps : cap.capabilities;
  if ((caps & V4L2_CAP_VIDEO_CAPTURE) == 0 || (caps & V4L2_CAP_STREAMING) == 0) return std::nullopt;

  NodeInfo result;
  result.node = node;
  for (uint32_t fourcc : kFormats) {
    if (offers(fd.get(), fourcc)) addSizes(fd.get(), fourcc, result.modes);
  }
  if (result.modes.empty()) return std::nullopt;
  result.current = result.modes.front();
  v4l2_format format{};
  format.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
  if (Control(fd.get(), VIDIOC_G_FMT, &format)) {
    for (const Mode& m : result.modes) {
      if (m.size.width == static_cast<int32_t>(format.fmt.pix.width) &&
          m.size.height == static_cast<int32_t>(format.fmt.pix.height)) {
        result.current = m;
      }
    }
  }
  result.info.friendlyName = text(cap.card, sizeof cap.card);
  result.info.description = text(cap.driver, sizeof cap.driver);
  result.info.devicePath = text(cap.bus_info, sizeof cap.bus_info);
  for (const Mode& m : result.modes) result.info.sizes.push_back(m.size);
  return result;
}

}  // namespace plat::camera::v4l2
