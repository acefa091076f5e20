#include "backends/older_vendor_a/records.h"

#include <algorithm>
#include <limits>

#include "acquisition/sampling_config.h"

namespace vekmath {
namespace {

constexpr int64_t kUnitsPerUs = 40;
// The board cannot scan its channels faster than this count.
constexpr uint16_t kScanClockMin = 39;
constexpr uint16_t kLongestScanClock = 0xFFFF;

int64_t clockUnits(int32_t us) { return int64_t{us} * kUnitsPerUs - 1; }

uint64_t addressOf(const int16_t* list) { return reinterpret_cast<uintptr_t>(list); }

}  // namespace

uint16_t scanClockCount(int32_t us) {
  const int64_t units = clockUnits(us);
  // Scan clock 0 gives -1, the longest count, as it always has.
  if (units < 0 || units > kLongestScanClock) return kLongestScanClock;
  return static_cast<uint16_t>(units);
}

int32_t samplingClockCount(int32_t us) {
  return static_cast<int32_t>(
      std::clamp<int64_t>(clockUnits(us), std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

XanInpBdMemParamsAbove3 freeRunRecord(const SamplingConfig& cfg) {
  XanInpBdMemParamsAbove3 r{};
  r.channelList = addressOf(cfg.channelList);
  r.channelCount = static_cast<uint16_t>(cfg.channels);
  r.samplesPerChannel = -1;
  r.scanClock = std::max(scanClockCount(cfg.scanClockUs), kScanClockMin);
  r.samplingClock = samplingClockCount(cfg.periodUs);
  return r;
}

XanInpBdMemParamsModes23 levelRecord(const SamplingConfig& cfg, int32_t zeroOffset) {
  XanInpBdMemParamsModes23 r{};
  r.channelList = addressOf(cfg.channelList);
  r.channelCount = static_cast<uint16_t>(cfg.channels);
  if (cfg.eventOffset >= 0) {
    r.samplesPerChannel = cfg.blockScans;
    r.delayCount = cfg.eventOffset;
  } else {
    // The block starts before the trigger: the scans up to and with the
    // trigger, then the rest of the block after it.
    // Worked in 64 bits: an extreme offset gives a count the library
    // refuses, not an overflow here.
    const int64_t before = 1 - int64_t{cfg.eventOffset};
    r.samplesPerChannel = static_cast<int32_t>(before);
    r.delayCount = static_cast<int32_t>(int64_t{cfg.blockScans} - before);
  }
  r.triggerChannel = static_cast<uint16_t>(cfg.triggerChannel - 1);
  r.firstLevel = static_cast<uint16_t>(cfg.levelB + zeroOffset);
  r.secondLevel = static_cast<uint16_t>(cfg.levelA + zeroOffset);
  r.scanClock = scanClockCount(cfg.scanClockUs);
  r.samplingClock = samplingClockCount(cfg.periodUs);
  return r;
}

}  // namespace vekmath
