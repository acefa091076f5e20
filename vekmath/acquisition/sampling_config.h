// The sampling configuration: what SetupSampling and its side calls leave
// for the start, the thread and the readout. One instance, shared by the
// exports and the acquisition thread.
#pragma once
#include <atomic>
#include <cstddef>
#include <cstdint>

namespace vekmath {

inline constexpr std::size_t kMaxChannels = 32;

struct SamplingConfig {
  int32_t channels = 0;
  int16_t channelList[kMaxChannels] = {};
  int32_t blockScans = 0;
  int32_t scanClockUs = 0;
  int32_t periodUs = 0;
  int32_t rate = 0;   // scans per second
  int32_t chunk = 0;  // scans asked for in one read
  int32_t eventOffset = 0;
  int32_t triggerChannel = 0;  // 1-based, 0 = no level trigger
  int16_t levelA = 0;
  int16_t levelB = 0;
  uint8_t triggerDirection = 0;
  int32_t samplingMode = 0;  // 0 continuous, 1 triggered block, 2 event
  int32_t dataFormat[kMaxChannels] = {};  // 1 = signed raw data
  int32_t setupValue = 0;                 // stored, read by nobody
  int32_t detectTriggers = 0;
  int32_t monitorSpan = 0;
  // The acquisition thread writes it when its back end fails.
  std::atomic<int32_t> lastStatus{0};
};

SamplingConfig& config();

// Every acquisition call ends by handing the last status to the caller; a
// caller may pass no variable.
inline int32_t reportLastStatus(int32_t* out) {
  int32_t status = config().lastStatus.load();
  if (out != nullptr) *out = status;
  return status;
}

}  // namespace vekmath
