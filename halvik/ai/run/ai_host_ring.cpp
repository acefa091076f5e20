#include "ai_host_ring.h"

#include <outside/halvikdrv.h>

#include <algorithm>

#include "ai_readout.h"
#include "ai_wire.h"
#include "library_state.h"
#include "transport.h"

namespace halvik::airun {

namespace drv = halvikdrv;

namespace {

constexpr LONG kStatusBeyondStored = 21580;
constexpr LONG kStatusEmpty = 21584;
constexpr LONG kStatusBeyondRing = 21585;
constexpr int32_t kStatusOverflow = drv::ai::kStatusOverflow;

class Locked {
 public:
  Locked() { EnterCriticalSection(&Library().lock); }
  ~Locked() { LeaveCriticalSection(&Library().lock); }
  Locked(const Locked&) = delete;
  Locked& operator=(const Locked&) = delete;
};

// The driver writes the ring while it is read: each word is one access.
uint32_t wordAt(const DeviceRecord& r, uint32_t word) {
  return __atomic_load_n(static_cast<const uint32_t*>(r.AiHostRingState) + word, __ATOMIC_RELAXED);
}
uint32_t ringWords(const DeviceRecord& r) { return r.AiHostRingSize / 4; }
// Words a scan takes; with one channel a word holds two scans.
uint32_t wordsPerScan(int16_t channels) { return (static_cast<uint32_t>(channels) + 1) / 2; }
bool usable(const DeviceRecord& r, int16_t channels) {
  return r.AiHostRingState != nullptr && channels >= 1 && wordsPerScan(channels) <= ringWords(r);
}

// A cursor in the ring: a word and, with one channel, its half.
struct Cursor {
  uint32_t word;
  uint32_t half;
};

void advance(DeviceRecord& r, uint32_t* word, uint32_t by) {
  *word += by;
  const uint32_t words = ringWords(r);
  while (*word >= words) {
    *word -= words;
    ++r.AiHostRingCount;
  }
}

LONG readStatusBits(const DeviceRecord& r, int32_t* bits) {
  drv::AiBlock b;
  b.put<int16_t>(drv::ai::kGetFlag, 1);
  LONG status = SendKernel(r, drv::kAiStatus, b.data(), b.size(), drv::ai::kStatus);
  *bits = b.get<int32_t>(drv::ai::kStatusBits);
  return status;
}

}  // namespace

bool HostRingInUse(const DeviceRecord& r) {
  Locked lock;
  return r.AiHostRingState != nullptr;
}

namespace {

LONG readTransferWord(const DeviceRecord& r, int32_t* word) {
  drv::AiBlock b;
  if (LONG status = SendKernel(r, drv::kAiTransferCount, b.data(), b.size(), drv::ai::kStatus)) return status;
  *word = b.get<int32_t>(drv::ai::kTransferCount);
  return 0;
}

LONG readTransferLap(const DeviceRecord& r, int32_t* lap) {
  drv::AiBlock l;
  if (LONG status = SendKernel(r, drv::kAiTransferLap, l.data(), l.size(), drv::ai::kStatus)) return status;
  *lap = l.get<int32_t>(drv::ai::kTransferLap);
  return 0;
}

}  // namespace

LONG ReadRingPosition(const DeviceRecord& r, RingPosition* position, bool withLap) {
  if (!withLap) return readTransferWord(r, &position->word);
  // The word and the lap are two requests: a wrap between them would pair
  // an old word near the ring's end with the new lap and look like an
  // overrun. The same lap on both sides of the word says no wrap came between.
  constexpr int kTries = 8;
  int32_t lap = 0;
  if (LONG status = readTransferLap(r, &lap)) return status;
  for (int attempt = 0;; ++attempt) {
    if (LONG status = readTransferWord(r, &position->word)) return status;
    int32_t after = 0;
    if (LONG status = readTransferLap(r, &after)) return status;
    position->lap = after;
    if (after == lap || attempt + 1 == kTries) return 0;
    lap = after;
  }
}

int64_t RingScansLocked(const DeviceRecord& r, int16_t channels, int32_t writeWord, bool overrun) {
  if (!usable(r, channels)) return -1;
  const int64_t words = ringWords(r);
  const int64_t flags = r.AiHostRingFlags != 0 ? 1 : 0;
  if (overrun) return channels == 1 ? 2 * words - flags : words / wordsPerScan(channels);
  const int64_t at = std::clamp<int64_t>(writeWord, 0, words - 1);
  const int64_t read = r.AiHostRingRead;
  const int64_t w = at >= read ? at - read : words + at - read;
  if (channels != 1) return w / wordsPerScan(channels);
  if (w == 0) return 0;
  const uint32_t last = wordAt(r, static_cast<uint32_t>(at == 0 ? words - 1 : at - 1));
  const int64_t unwritten = (last >> 16) & drv::ai::kRingUnwritten ? 1 : 0;
  return std::max<int64_t>(2 * w - flags - unwritten, 0);
}

LONG HostRingSamplingCount(const DeviceRecord& r, LONG* scans) {
  RingPosition at;
  int16_t channels = 0;
  if (LONG status = ReadRingPosition(r, &at, false)) return status;
  if (LONG status = ReadChannelCount(r, &channels)) return status;
  Locked lock;
  const int64_t stored = RingScansLocked(r, channels, at.word, false);
  *scans = static_cast<LONG>(std::max<int64_t>(stored, 0));
  return stored < 0 ? kStatusNotOnThisDevice : 0;
}

LONG ReadHostRing(DeviceRecord& r, LONG* scans, int32_t* data) {
  RingPosition at;
  int16_t channels = 0;
  int32_t bits = 0;
  if (LONG status = ReadChannelCount(r, &channels)) return status;
  if (LONG status = readStatusBits(r, &bits)) return status;
  if (LONG status = ReadRingPosition(r, &at, false)) return status;
  const bool overrun = (bits & kStatusOverflow) != 0;
  Locked lock;
  const int64_t stored = RingScansLocked(r, channels, at.word, overrun);
  if (stored < 0) {
    *scans = 0;
    return kStatusNotOnThisDevice;
  }
  if (stored == 0) {
    *scans = 0;
    return kStatusEmpty;
  }
  const int64_t asked = std::max<LONG>(*scans, 0);
  const int64_t taken = std::min(asked, stored);
  const LONG status = asked > stored ? (overrun ? kStatusBeyondRing : kStatusBeyondStored) : 0;

  if (channels == 1) {
    Cursor c{r.AiHostRingRead, r.AiHostRingFlags != 0 ? 1u : 0u};
    for (int64_t i = 0; i < taken; ++i) {
      data[i] = static_cast<int32_t>((wordAt(r, c.word) >> (16 * c.half)) & drv::ai::kRingSampleMask);
      c.half ^= 1;
      if (c.half == 0) advance(r, &c.word, 1);
    }
    r.AiHostRingRead = c.word;
    r.AiHostRingFlags = static_cast<int16_t>(c.half);
  } else {
    const uint32_t step = wordsPerScan(channels);
    uint32_t word = r.AiHostRingRead;
    for (int64_t s = 0; s < taken; ++s) {
      for (int e = 0; e < channels; ++e) {
        uint32_t at = word + static_cast<uint32_t>(e / 2);
        if (at >= ringWords(r)) at -= ringWords(r);
        *data++ = static_cast<int32_t>((wordAt(r, at) >> (16 * (e % 2))) & drv::ai::kRingSampleMask);
      }
      advance(r, &word, step);
    }
    r.AiHostRingRead = word;
    r.AiHostRingFlags = 0;
  }
  *scans = static_cast<LONG>(taken);
  return status;
}

void SetHostRingSize(DeviceRecord& r, uint32_t bytes) {
  Locked lock;
  r.AiHostRingSize = bytes;
}

void RewindHostRing(DeviceRecord& r) {
  Locked lock;
  r.AiHostRingRead = 0;
  r.AiHostRingCount = 0;
  r.AiHostRingFlags = 0;
}

}  // namespace halvik::airun
