#include "camera/stream_caps.h"

namespace vekmath {

VIDEO_STREAM_CONFIG_CAPS CapsOf(const plat::camera::FrameSize& size) {
  VIDEO_STREAM_CONFIG_CAPS caps{};
  caps.guid = FORMAT_VideoInfo;
  caps.InputSize = {size.width, size.height};
  caps.MinOutputSize = caps.InputSize;
  caps.MaxOutputSize = caps.InputSize;
  caps.MinFrameInterval = size.minInterval;
  caps.MaxFrameInterval = size.maxInterval;
  return caps;
}

VIDEOINFOHEADER CurrentFormat(const plat::camera::Connection& connection, const plat::camera::CameraInfo& info,
                              int64_t interval) {
  VIDEOINFOHEADER format{};
  const int32_t width = connection.Width(), height = connection.Height();
  if (interval == 0) {
    interval = kRequestedInterval;
    for (const plat::camera::FrameSize& size : info.sizes)
      if (size.width == width && size.height == height) {
        interval = size.minInterval;
        break;
      }
  }
  format.AvgTimePerFrame = interval;
  BITMAPINFOHEADER& header = format.bmiHeader;
  header.biSize = sizeof(BITMAPINFOHEADER);
  header.biWidth = width;
  header.biHeight = height;
  header.biPlanes = 1;
  header.biBitCount = 24;
  header.biCompression = BI_RGB;
  header.biSizeImage = static_cast<DWORD>(connection.ImageSize());
  return format;
}

namespace {

int32_t low32(int64_t value) { return static_cast<int32_t>(static_cast<uint32_t>(value)); }

}  // namespace

#define CAPS_FIELD(key, expression) \
  {"scc1." key, nullptr, [](const VIDEO_STREAM_CONFIG_CAPS& c) -> int32_t { return expression; }}

const CapsField kCapsFields[] = {
    CAPS_FIELD("guid", static_cast<int32_t>(c.guid.Data1)),
    CAPS_FIELD("VideoStandard", static_cast<int32_t>(c.VideoStandard)),
    CAPS_FIELD("InputSize.cx", c.InputSize.cx),
    CAPS_FIELD("InputSize.cy", c.InputSize.cy),
    CAPS_FIELD("MaxCroppingSize.cx", c.MaxCroppingSize.cx),
    CAPS_FIELD("MaxCroppingSize.cy", c.MaxCroppingSize.cy),
    {"scc1.MinCroppingSizecx", "scc1.MinCroppingSize.cx",
     [](const VIDEO_STREAM_CONFIG_CAPS& c) -> int32_t { return c.MinCroppingSize.cx; }},
    CAPS_FIELD("MinCroppingSize.cy", c.MinCroppingSize.cy),
    CAPS_FIELD("CropAlignX", c.CropAlignX),
    CAPS_FIELD("CropAlignY", c.CropAlignY),
    CAPS_FIELD("MaxOutputSize.cx", c.MaxOutputSize.cx),
    CAPS_FIELD("MaxOutputSize.cy", c.MaxOutputSize.cy),
    CAPS_FIELD("MinOutputSize.cx", c.MinOutputSize.cx),
    CAPS_FIELD("MinOutputSize.cy", c.MinOutputSize.cy),
    CAPS_FIELD("OutputGranularityX", c.OutputGranularityX),
    CAPS_FIELD("OutputGranularityY", c.OutputGranularityY),
    CAPS_FIELD("StretchTapsX", c.StretchTapsX),
    CAPS_FIELD("StretchTapsY", c.StretchTapsY),
    CAPS_FIELD("ShrinkTapsX", c.ShrinkTapsX),
    CAPS_FIELD("ShrinkTapsY", c.ShrinkTapsY),
    CAPS_FIELD("MinFrameInterval", low32(c.MinFrameInterval)),
    CAPS_FIELD("MaxFrameInterval", low32(c.MaxFrameInterval)),
    CAPS_FIELD("MinBitsPerSecond", c.MinBitsPerSecond),
    CAPS_FIELD("MaxBitsPerSecond", c.MaxBitsPerSecond),
};
const size_t kCapsFieldCount = sizeof kCapsFields / sizeof kCapsFields[0];

#undef CAPS_FIELD

}  // namespace vekmath
