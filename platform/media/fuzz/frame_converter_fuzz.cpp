// Fuzz target for the camera frame converter: the input's first four bytes
// pick the pixel format (YUYV or MJPEG) and the frame's size, the rest is
// the captured frame. The frame and the converted picture each end right
// before a page without access, as a driver's buffer may; a YUYV frame
// converts exactly when it holds its size's bytes.
#include <linux/videodev2.h>
#include <platform/camera_device.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "../tests/guarded_bytes.h"
#include "media/frame_converter.h"

extern "C" {
#include <libavutil/log.h>
}

// The coding libraries' complaints about broken input would drown the
// fuzzer's own lines.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
  av_log_set_level(AV_LOG_QUIET);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 4) return 0;
  const bool yuyv = (data[0] & 1) == 0;
  const int32_t width = 1 + (data[1] | (data[2] << 8)) % 320;
  const int32_t height = 1 + data[3] % 64;
  const size_t bytes = size - 4;
  GuardedBytes frame(bytes);
  GuardedBytes out(static_cast<size_t>(plat::camera::RowBytes(width)) * static_cast<size_t>(height));
  if (frame.data() == nullptr || out.data() == nullptr) std::abort();
  if (bytes > 0) std::memcpy(frame.data(), data + 4, bytes);
  plat::camera::FrameConverter converter;
  const bool converted = converter.Convert(yuyv ? V4L2_PIX_FMT_YUYV : V4L2_PIX_FMT_MJPEG, frame.data(), bytes, width,
                                           height, out.data());
  if (yuyv && converted != (bytes >= static_cast<size_t>(width) * 2 * static_cast<size_t>(height))) {
    std::fprintf(stderr, "frame_converter_fuzz: a YUYV frame %s\n", converted ? "too short converted" : "refused");
    std::abort();
  }
  return 0;
}
