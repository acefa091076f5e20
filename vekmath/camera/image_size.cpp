// The frame-size request and its trace. A camera lists one capability per
// frame size; the request is applied once for every capability that can
// carry it, each time to the stream's current format, so a refused size
// leaves the camera's own format in place.
#include <cstdio>
#include <string>

#include "camera/connection.h"
#include "camera/stream_caps.h"
#include "camera/text_file.h"

namespace vekmath {
namespace {

// "キャプチャ" in the ANSI code page.
constexpr char kCapturePinJapanese[] = "\x83\x4C\x83\x83\x83\x76\x83\x60\x83\x83";
constexpr char kCapturePin[] = "Capture";

constexpr char kTraceFile[] = "SetImageSize.TXT";
constexpr size_t kTraceValueColumn = 32;

bool findPinByName(const plat::camera::CameraInfo& info, const char* name) { return info.capturePin == name; }

// "name", tabs up to the value column (at least one), "= value".
std::string traceLine(const std::string& name, long long value) {
  std::string text = name;
  size_t column = name.size();
  do {
    text += '\t';
    column = (column / 8 + 1) * 8;
  } while (column < kTraceValueColumn);
  return text + "= " + std::to_string(value);
}

}  // namespace

bool HasCapturePin(const plat::camera::CameraInfo& info) {
  return findPinByName(info, kCapturePinJapanese) || findPinByName(info, kCapturePin);
}

void SetImageSize(CameraState& state, const plat::camera::CameraInfo& info, int32_t height, int32_t width) {
  TextFile trace(kTraceFile);
  if (!state.connection || !info.hasStreamConfig || info.sizes.empty()) return;
  plat::camera::Connection& connection = *state.connection;
  int64_t applied = 0;  // the interval the stream has from this call on
  for (size_t index = 0; index < info.sizes.size(); ++index) {
    const VIDEO_STREAM_CONFIG_CAPS caps = CapsOf(info.sizes[index]);
    trace.line(std::string(32, '*'));
    trace.line(traceLine("iFormat", static_cast<long long>(index)));
    for (size_t f = 0; f < kCapsFieldCount; ++f)
      trace.line(traceLine(kCapsFields[f].traceKey ? kCapsFields[f].traceKey : kCapsFields[f].listKey,
                           kCapsFields[f].value(caps)));
    VIDEOINFOHEADER format = CurrentFormat(connection, info, applied);
    const int64_t previous = format.AvgTimePerFrame;
    format.bmiHeader.biHeight = height;
    format.bmiHeader.biWidth = width;
    format.AvgTimePerFrame = kRequestedInterval;
    if (connection.SetFormat(format.bmiHeader.biWidth, format.bmiHeader.biHeight, format.AvgTimePerFrame))
      applied = kRequestedInterval;
    trace.line(traceLine("pVih->bmiHeader.biHeight", height));
    trace.line(traceLine("pVih->bmiHeader.biWidth", width));
    trace.line(traceLine("pVih->AvgTimePerFrame", static_cast<int32_t>(static_cast<uint32_t>(previous))));
  }
}

}  // namespace vekmath
