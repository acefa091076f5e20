// The block reader's own state beside the ring: where the next unread
// sample lies, and the camera marks it stamps while video is recorded.
#pragma once
#include <atomic>
#include <cstdint>

#include <windows.h>

namespace vekmath {

inline constexpr int32_t kBlockTimeEntries = 2592000;

// Set by the video recording; the block reader appends one millisecond
// stamp per call while recording and not paused.
struct CameraMarks {
  std::atomic<uint8_t> recording{0};
  std::atomic<int32_t> paused{0};
  std::atomic<int32_t> blockCount{0};
  uint32_t blockTimes[kBlockTimeEntries] = {};
};

CameraMarks& cameraMarks();

// One window message of the calling thread, if one waits: a read that
// blocks keeps the caller's window alive with one per pass.
void pumpOneMessage();

// A run starts with the ring cleared: reading starts at the ring start and
// the block-time count at 0 (StartSampling, through restartSweep).
void resetReaderForRun();

}  // namespace vekmath
