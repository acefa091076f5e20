// What the processing library writes into vendor B's two sampling records.
// The records are the library's; the offsets named in the asserts are the
// ones the board's firmware reads, so they may not move.
#include <algorithm>
#include <cstddef>

#include "backends/vendor_b/vendor_b_backend.h"
#include "status/status_texts.h"

namespace vekmath {
namespace {

static_assert(offsetof(SkSamplingConfig, frequency) == 2068 && offsetof(SkSamplingConfig, level1) == 2088 &&
              offsetof(SkSamplingConfig, externalClock) == 2096 && offsetof(SkSamplingConfig, memoryDivisor) == 2112);
static_assert(offsetof(SkBmSamplingConfig, clock) == 2072 && offsetof(SkBmSamplingConfig, secondClock) == 2076 &&
              offsetof(SkBmSamplingConfig, startCondition) == 2080 &&
              offsetof(SkBmSamplingConfig, startTriggerChannel) == 2096 &&
              offsetof(SkBmSamplingConfig, stopLevel) == 2112 &&
              offsetof(SkBmSamplingConfig, selectionPolarity) == 2124 &&
              offsetof(SkBmSamplingConfig, clockSelection) == 2140 &&
              offsetof(SkBmSamplingConfig, transferWidth) == 2152);

// The most scans one run may be asked for; a longer block is clamped so
// that block x 1000 does not wrap.
constexpr int64_t kMostSampleCount = 0x40000000;
// Triggered runs on the normal road: full record trigger modes by the
// order of the two levels.
constexpr uint32_t kTriggerRising = 5, kTriggerFalling = 4, kTriggerEqual = 6;
constexpr uint32_t kBmTriggerRising = 0x20, kBmTriggerFalling = 0x10, kBmTriggerEqual = 0x40;
// Continuous runs: endless until stopped.
constexpr uint32_t kEndless = 9;
// The bus-master mode's lowest scan frequency per channel.
constexpr int64_t kBmLeastPerChannel = 200;

template <class Entry>
void fillChannels(Entry* entries, const SamplingConfig& cfg, uint32_t range) {
  const int32_t n = std::clamp<int32_t>(cfg.channels, 0, static_cast<int32_t>(kMaxChannels));
  for (int32_t i = 0; i < n; ++i) {
    entries[i].channel = static_cast<uint32_t>(static_cast<int32_t>(cfg.channelList[i]));
    entries[i].range = range;
  }
}

uint32_t orderOfLevels(const SamplingConfig& cfg, uint32_t rising, uint32_t falling, uint32_t equal) {
  if (cfg.levelB > cfg.levelA) return rising;
  if (cfg.levelB < cfg.levelA) return falling;
  return equal;
}

uint32_t clampCount(int64_t v) { return static_cast<uint32_t>(std::clamp<int64_t>(v, 1, kMostSampleCount)); }

}  // namespace

int64_t smallestDivisorFrom(int64_t from, int64_t v) {
  for (int64_t d = std::max<int64_t>(from, 1); d <= v; ++d) {
    if (v % d == 0) return d;
  }
  return -1;
}

float levelVolts(double fullScale, int32_t zero, int16_t level) {
  if (zero <= 0) return 0.0f;
  return static_cast<float>(fullScale / zero * level);
}

void fillNormalRecord(SkSamplingConfig& rec, const SamplingConfig& cfg, const BoardTypeInfo& board, int32_t zero) {
  const bool triggered = cfg.samplingMode == 1;
  rec.channelCount = static_cast<uint32_t>(std::max(cfg.channels, 0));
  fillChannels(rec.channels, cfg, static_cast<uint32_t>(board.rangeCode));
  rec.mode = 2;
  rec.inputType = 1;
  rec.sampleCount = triggered ? clampCount(cfg.blockScans) : 1000;
  const double frequency = cfg.periodUs > 0 ? static_cast<double>(cfg.rate) : 0.0;
  rec.eventCount = static_cast<uint32_t>(
      std::clamp<int64_t>(static_cast<int64_t>(frequency * 0.02), 1, static_cast<int64_t>(rec.sampleCount)));
  rec.frequency = static_cast<float>(frequency);
  rec.triggerPoint = 1;
  rec.triggerMode = kEndless;
  rec.delay = 0;
  rec.triggerChannel = static_cast<uint32_t>(cfg.triggerChannel);
  rec.level1 = 0.0f;
  rec.level2 = 0.0f;
  rec.externalClock = 2;
  rec.reserved2100 = 1;
  rec.triggerEdge = 1;
  rec.triggerInputCount = 0;
  rec.memoryDivisor = 1;
  if (!triggered) return;
  // The normal mode triggers on level A; the bus-master mode on level B.
  rec.triggerMode = orderOfLevels(cfg, kTriggerRising, kTriggerFalling, kTriggerEqual);
  rec.level1 = levelVolts(board.fullScaleVolts, zero, cfg.levelA);
  if (cfg.eventOffset >= 0) {
    rec.triggerPoint = 1;
    rec.delay = cfg.eventOffset;
  } else {
    rec.triggerPoint = 2;
    rec.delay = static_cast<int32_t>(std::clamp<int64_t>(int64_t{cfg.blockScans} + cfg.eventOffset, INT32_MIN, INT32_MAX));
  }
}

int32_t fillBmRecord(SkBmSamplingConfig& rec, const SamplingConfig& cfg, int32_t zero) {
  const bool triggered = cfg.samplingMode == 1;
  const int64_t perSecond = int64_t{std::max(cfg.channels, 0)} * cfg.rate;
  int64_t scanFrequency = smallestDivisorFrom(perSecond, kVendorBMasterClock);
  // A frequency below channels x rate would sample slower than asked.
  if (scanFrequency < 0) return kStatusClock;
  scanFrequency = std::max(scanFrequency, int64_t{std::max(cfg.channels, 0)} * kBmLeastPerChannel);

  rec.channelCount = static_cast<uint32_t>(std::max(cfg.channels, 0));
  fillChannels(rec.channels, cfg, 0x80000);
  rec.inputType = 1;
  rec.sampleCount = triggered ? clampCount(cfg.blockScans) : clampCount(int64_t{cfg.blockScans} * 1000);
  rec.eventCount = static_cast<uint32_t>(std::max(cfg.blockScans / 10, 1));
  rec.repeatCount = 1;
  rec.bufferMode = 1;
  rec.clock = static_cast<float>(cfg.rate);
  rec.secondClock = static_cast<float>(scanFrequency);
  rec.startCondition = 1;
  rec.stopCondition = kEndless;
  rec.selectionPolarity = 1;
  rec.triggerInputCount = 0;
  rec.clockSelection = 2;
  rec.reserved2144 = 1;
  rec.transferSelection = 1;
  rec.transferWidth = 1;
  if (!triggered) return 0;
  rec.startCondition = orderOfLevels(cfg, kBmTriggerRising, kBmTriggerFalling, kBmTriggerEqual);
  rec.startTriggerChannel = static_cast<uint32_t>(cfg.triggerChannel);
  rec.stopTriggerChannel = static_cast<uint32_t>(cfg.triggerChannel);
  rec.startLevel = levelVolts(10.0, zero, cfg.levelB);
  rec.stopLevel = rec.startLevel;
  const int64_t shifted = int64_t{cfg.blockScans} + cfg.eventOffset;
  if (cfg.eventOffset < 0) {
    rec.startDelay = static_cast<uint32_t>(std::max<int64_t>(shifted, 0));
    rec.stopDelay = 0;
  } else {
    rec.startDelay = 0;
    rec.stopDelay = 0;
    rec.sampleCount = clampCount(shifted);
  }
  return 0;
}

}  // namespace vekmath
