// What a camera's stream configuration answers, built from the frame sizes
// the layer lists: one capability record per size and the stream's current
// format.
#pragma once
#include <platform/camera.h>

#include <cstdint>
#include <string>

#include "camera/stream_records.h"

namespace vekmath {

// Every capability record has this size; a caller checks it before reading.
inline constexpr int32_t kCapsRecordSize = sizeof(VIDEO_STREAM_CONFIG_CAPS);
// 30 frames a second, what every size request asks for.
inline constexpr int64_t kRequestedInterval = 333333;

VIDEO_STREAM_CONFIG_CAPS CapsOf(const plat::camera::FrameSize& size);

// The format the connection delivers now. `interval` is the frame interval
// last applied, 0 when none was: the camera's fastest for that size then.
VIDEOINFOHEADER CurrentFormat(const plat::camera::Connection& connection, const plat::camera::CameraInfo& info,
                              int64_t interval);

// The capability fields that the camera list and the size trace write, in
// their order, each with its key in the list file and its value as printed
// (64-bit intervals by their low 32 bits).
struct CapsField {
  const char* listKey;
  const char* traceKey;  // the list file's key has a typo of its own
  int32_t (*value)(const VIDEO_STREAM_CONFIG_CAPS&);
};
extern const CapsField kCapsFields[];
extern const size_t kCapsFieldCount;

}  // namespace vekmath
