// The sample ring: one process-wide buffer of raw counts, interleaved scan by
// scan, that the acquisition thread fills and the caller reads without locks.
#pragma once
#include <windows.h>

#include <atomic>
#include <cstddef>
#include <cstdint>

namespace vekmath {

inline constexpr int32_t kRingCapacity = 16000000;  // most a ring length may be
inline constexpr int32_t kRingSlack = 40000;        // room for a read past the end
inline constexpr int32_t kRingSize = kRingCapacity + kRingSlack;

struct Ring {
  alignas(64) uint16_t samples[kRingSize];
  std::atomic<int32_t> length{0};  // samples in use, a multiple of the channel count
  std::atomic<int32_t> writeIndex{0};
  std::atomic<int32_t> lastChunkOverrun{0};
  std::atomic<int32_t> lastWrapOverrun{0};
  std::atomic<int32_t> wrapped{0};           // what the caller reads
  std::atomic<int32_t> wrappedForEvents{0};  // what the trigger events read
  std::atomic<int32_t> unread{0};
  std::atomic<int32_t> scanCounter{0};
  std::atomic<int32_t> totalScans{0};
  std::atomic<int32_t> running{0};
  std::atomic<int32_t> stopRequested{0};
  std::atomic<int32_t> started{0};
  std::atomic<HANDLE> thread{nullptr};

  // Zeroes the samples and the per-run counters and flags.
  void clearForRun();

  // Most scans one read may deliver at the write index: never past the
  // slack, and never more than the ring length, so that the part moved to
  // the start stays below the ring length. 0 when nothing fits.
  int32_t roomScans(int32_t channels) const;

  // Takes scans just written at the write index into the ring: moves the
  // part past the ring length to the start and updates the counters.
  // True when this step wrapped the ring.
  bool step(int32_t channels, int32_t scans);
};

Ring& ring();

// The caller copies samples while the thread writes them, without a lock:
// every sample is one relaxed atomic access, so a copy may see old or new
// values but never a torn one, and no access is a data race.
inline void storeSample(uint16_t& at, uint16_t value) {
  std::atomic_ref<uint16_t>(at).store(value, std::memory_order_relaxed);
}
inline uint16_t loadSample(const uint16_t& at) {
  return std::atomic_ref<uint16_t>(const_cast<uint16_t&>(at)).load(std::memory_order_relaxed);
}
// Sample by sample, front to back; the ranges must not overlap.
inline void moveSamples(uint16_t* dest, const uint16_t* from, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) storeSample(dest[i], loadSample(from[i]));
}

}  // namespace vekmath
