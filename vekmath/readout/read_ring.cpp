// ReadRing, ReadRing2, ReadRing3: copies of the ring in time order while the
// acquisition thread may be writing it.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstring>

#include "acquisition/ring.h"
#include "acquisition/selection.h"
#include "readout/ring_copy.h"
#include "triggers/trigger_detector.h"
#include "vekmath.h"

namespace vekmath {
namespace {

// Samples copied between yields: often enough to let the acquisition
// thread run, seldom enough to keep the copy at memory speed.
constexpr int32_t kYieldEvery = 4096;

// Four 16-bit lanes at once: a - b in each lane, no borrow between lanes.
constexpr uint64_t laneSubtract(uint64_t a, uint64_t b) {
  constexpr uint64_t kHigh = 0x8000800080008000ull;
  return ((a | kHigh) - (b & ~kHigh)) ^ ((a ^ ~b) & kHigh);
}

void subtractZero(const uint16_t* from, int32_t count, uint16_t zero, uint16_t* to) {
  int32_t i = 0;
  // Single samples up to an 8-byte boundary, then four samples per atomic
  // load: the copy runs at memory speed and still never tears a sample.
  for (; i < count && reinterpret_cast<uintptr_t>(from + i) % 8 != 0; ++i) {
    to[i] = static_cast<uint16_t>(loadSample(from[i]) - zero);
  }
  const uint64_t zeros = 0x0001000100010001ull * zero;
  for (; i + 4 <= count; i += 4) {
    auto& word = *reinterpret_cast<uint64_t*>(const_cast<uint16_t*>(from + i));
    const uint64_t four = laneSubtract(std::atomic_ref<uint64_t>(word).load(std::memory_order_relaxed), zeros);
    std::memcpy(to + i, &four, sizeof four);
  }
  for (; i < count; ++i) to[i] = static_cast<uint16_t>(loadSample(from[i]) - zero);
}

uint16_t zeroOffset() { return static_cast<uint16_t>(selection().zeroOffset); }

}  // namespace

void copyOut(const uint16_t* ring, int32_t ringLength, int32_t from, int32_t count, uint16_t zero, uint16_t* dest) {
  if (ringLength <= 0 || count <= 0) return;
  int32_t position = static_cast<int32_t>(floorMod(from, ringLength));
  while (count > 0) {
    const int32_t piece = std::min({count, ringLength - position, kYieldEvery});
    subtractZero(ring + position, piece, zero, dest);
    dest += piece;
    count -= piece;
    position += piece;
    if (position == ringLength) position = 0;
    if (count > 0) Sleep(0);
  }
}

}  // namespace vekmath

DLL_EXPORT LONG WINAPI ReadRing(WORD* buffer) {
  using namespace vekmath;
  Ring& r = ring();
  const int32_t length = r.length.load();
  if (buffer == nullptr || length <= 0) return 0;
  const uint16_t zero = zeroOffset();
  const bool wrapped = r.wrapped.load() != 0;
  // A wrapped ring holds length - 1 samples in order (the one at the write
  // index is the oldest, half overwritten); a copy never hands out more,
  // however far the thread gets meanwhile.
  const int32_t limit = wrapped ? length - 1 : length;
  int32_t copied = 0;
  if (wrapped) {
    const int32_t w = std::max(r.writeIndex.load(), 0);
    if (w >= length) {
      // The last pass ended exactly at the ring end: the ring is in order
      // from its start, and the oldest sample is the one left out.
      copyOut(r.samples, length, 1, limit, zero, buffer);
      return length;
    }
    copied = length - w - 1;
    copyOut(r.samples, length, w + 1, copied, zero, buffer);
  }
  // From the ring start up to the write index, following it while the
  // thread adds samples; a write index below the copy means a new lap began.
  int32_t position = 0;
  for (;;) {
    const int32_t w = std::min(r.writeIndex.load(), length);
    const int32_t piece = std::min(w - position, limit - copied);
    if (piece <= 0) break;
    copyOut(r.samples, length, position, piece, zero, buffer + copied);
    position += piece;
    copied += piece;
  }
  return position;
}

DLL_EXPORT void WINAPI ReadRing2(WORD* buffer, LONG start, LONG count) {
  using namespace vekmath;
  Ring& r = ring();
  const int32_t length = r.length.load();
  if (buffer == nullptr || count < 0 || length <= 0) return;
  const int32_t w = std::clamp(r.writeIndex.load(), 0, length);
  const bool wrapped = r.wrapped.load() != 0;
  // start counts from the oldest sample: the ring start, or after a wrap the
  // sample after the write index, and the copy ends at the newest sample.
  const int32_t oldest = wrapped ? (w + 1) % length : 0;
  const int32_t available = wrapped ? length - 1 : w;
  const int64_t first = std::clamp<int64_t>(start, 0, length - 1);
  const int64_t n = std::min<int64_t>(int64_t{count} + 1, available - first);
  if (n <= 0) return;
  copyOut(r.samples, length, static_cast<int32_t>(oldest + first), static_cast<int32_t>(n), zeroOffset(), buffer);
}

DLL_EXPORT void WINAPI ReadRing3(WORD* buffer, LONG distance, LONG count) {
  using namespace vekmath;
  Ring& r = ring();
  const int32_t length = r.length.load();
  if (buffer == nullptr || count < 0 || length <= 0) return;
  const int64_t w = r.writeIndex.load();
  const int64_t total = int64_t{count} + 1;
  int64_t p = w - distance - count;
  int64_t n = 0;
  if (p >= 0 && p < length) {
    n = std::min<int64_t>(total, length - p);
  } else if (p < 0 && p >= -length && r.wrapped.load() != 0) {
    // The stretch begins in the ring's previous lap and runs on at the start.
    p += length;
    n = std::min<int64_t>(total, length);
  }
  if (n <= 0) return;
  copyOut(r.samples, length, static_cast<int32_t>(p), static_cast<int32_t>(n), zeroOffset(), buffer);
}
