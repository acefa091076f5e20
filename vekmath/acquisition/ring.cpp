#include "acquisition/ring.h"

#include <algorithm>
#include <cstring>

namespace vekmath {

Ring& ring() {
  // Static storage: the 32 MB stay untouched zero pages until a run clears them.
  static Ring instance;
  return instance;
}

void Ring::clearForRun() {
  std::memset(samples, 0, sizeof samples);
  writeIndex.store(0);
  lastChunkOverrun.store(0);
  lastWrapOverrun.store(0);
  wrapped.store(0);
  wrappedForEvents.store(0);
  unread.store(0);
  scanCounter.store(0);
  totalScans.store(0);
  stopRequested.store(0);
}

int32_t Ring::roomScans(int32_t channels) const {
  if (channels <= 0) return 0;
  int32_t r = length.load();
  int32_t w = writeIndex.load();
  int32_t limit = std::min({kRingSlack, r, kRingSize - w});
  return limit > 0 ? limit / channels : 0;
}

bool Ring::step(int32_t channels, int32_t scans) {
  if (channels <= 0 || scans <= 0) return false;
  scans = std::min(scans, roomScans(channels));
  int32_t delivered = channels * scans;
  totalScans.fetch_add(scans);
  int32_t r = length.load();
  int32_t w = writeIndex.load();
  int32_t overflow = w + delivered - r;
  const bool wraps = overflow > 0;
  if (wraps) {
    // The part moved is at most one ring length, so source and target
    // never overlap.
    moveSamples(samples, samples + r, static_cast<std::size_t>(overflow));
    writeIndex.store(overflow);
    lastChunkOverrun.store(overflow);
    lastWrapOverrun.store(overflow);
    wrapped.store(1);
    wrappedForEvents.store(1);
  } else {
    writeIndex.store(w + delivered);
    lastChunkOverrun.store(0);
  }
  // Old data is overwritten silently: the count stops at about one ring.
  if (unread.load() < r) unread.fetch_add(delivered);
  scanCounter.store(unread.load() / channels);
  return wraps;
}

}  // namespace vekmath
