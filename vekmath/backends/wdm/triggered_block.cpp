#include "backends/wdm/triggered_block.h"

#include <algorithm>

#include "acquisition/backend.h"
#include "acquisition/ring.h"
#include "acquisition/sampling_config.h"
#include "backends/wdm/halvik_call.h"
#include "backends/wdm/wdm_backend.h"
#include "blocks/read_block.h"

namespace vekmath {
namespace {

using H = HalvikBinding;

constexpr LONG kRunning = 1;
// A scan the device did not deliver: the zero of its counts.
constexpr uint16_t kMissingCount = 0x8000;

int32_t failWith(int32_t code) {
  setHalvikStatusText(code);
  return code;
}

int32_t stopAndFail(short id, int32_t code) {
  callHalvik<&H::XanStopAi>(id);
  return failWith(code);
}

class Fetcher {
 public:
  Fetcher(short id, const WdmReadBuffer& buffer, int32_t channels)
      : id_(id), buffer_(buffer), channels_(channels), capacity_(buffer.size / channels) {}

  // Fetches up to `scans` scans (no more than the buffer holds); 0 or the
  // code of the failed fetch. got: the scans that came.
  int32_t fetch(LONG scans, LONG& got) {
    const LONG asked = std::min<LONG>(scans, capacity_);
    got = asked;
    if (int32_t r = callHalvik<&H::XanGetAiSamplingData>(id_, &got, buffer_.values); r != 0) return r;
    got = std::clamp<LONG>(got, 0, asked);
    buffer_.used = std::max(buffer_.used, static_cast<int32_t>(got) * channels_);
    return 0;
  }

  // Fetches and drops the oldest scans until `keep` are left of count. The
  // buffer takes its size in values, so a fetch is at most size / channels
  // scans.
  int32_t discard(LONG& count, LONG keep) {
    while (count > keep) {
      LONG got = 0;
      if (int32_t r = fetch(count - keep, got); r != 0) return r;
      if (got == 0) break;
      count -= got;
    }
    return 0;
  }

  const LONG* values() const { return buffer_.values; }

 private:
  short id_;
  const WdmReadBuffer& buffer_;
  int32_t channels_;
  LONG capacity_;
};

// The newest `wanted` of the `got` scans in the read buffer go to the
// window; scans that did not come are the device's zero, before them.
void place(const TriggeredBlock& block, const LONG* values, LONG got, LONG wanted) {
  const int64_t n = block.channels;
  const int64_t missing = std::max<LONG>(wanted - got, 0);
  std::fill_n(block.window, missing * n, kMissingCount);
  const int64_t from = std::max<LONG>(got - wanted, 0) * n;
  const int64_t count = (wanted - missing) * n;
  uint16_t* to = block.window + missing * n;
  for (int64_t i = 0; i < count; ++i) to[i] = static_cast<uint16_t>(values[from + i] & 0xFFFF);
}

}  // namespace

int32_t readWdmTriggeredBlock(TriggeredBlock& block, short id, const WdmReadBuffer& buffer) {
  block.filled = 0;
  Ring& r = ring();
  r.writeIndex.store(0);
  r.lastChunkOverrun.store(0);
  r.unread.store(0);
  r.running.store(0);
  LONG status = 0;
  if (int32_t res = callHalvik<&H::XanGetAiStatus>(id, &status); res != 0) return failWith(res);
  if ((status & kRunning) == 0) {
    if (int32_t res = callHalvik<&H::XanStartAi>(id); res != 0) return stopAndFail(id, res);
  }
  Fetcher fetcher(id, buffer, block.channels);
  LONG count = 0;
  for (;;) {
    pumpOneMessage();
    // A trigger that never comes must not keep the caller here.
    if (r.stopRequested.load() != 0) return 0;
    if (int32_t res = callHalvik<&H::XanGetAiSamplingCount>(id, &count); res != 0) return failWith(res);
    if (int32_t res = callHalvik<&H::XanGetAiStatus>(id, &status); res != 0) return failWith(res);
    if ((status & kRunning) == 0) break;
    if (int32_t res = fetcher.discard(count, block.scans); res != 0) return stopAndFail(id, res);
  }
  callHalvik<&H::XanStopAi>(id);
  // A block that starts before the trigger was taken with one scan more;
  // the block is its first scans, the last one stays in the window unused.
  const LONG wanted = LONG{block.scans} + (config().eventOffset < 0 ? 1 : 0);
  if (int32_t res = fetcher.discard(count, wanted); res != 0) return stopAndFail(id, res);
  LONG got = 0;
  if (count > 0) {
    if (int32_t res = fetcher.fetch(count, got); res != 0) return stopAndFail(id, res);
  }
  place(block, fetcher.values(), got, wanted);
  block.filled = block.scans;
  return 0;
}

}  // namespace vekmath
