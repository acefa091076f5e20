// The simulated board: the acquisition thread plays a table of test signals
// into the ring, one scan per pass, so that the whole road from the ring to
// the drawing runs without hardware.
#include "backends/simulated/simulated_backend.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstring>

#include "acquisition/backend.h"
#include "acquisition/board_table.h"
#include "acquisition/ring.h"
#include "acquisition/sampling_config.h"
#include "acquisition/selection.h"
#include "backends/simulated/test_signals.h"

namespace vekmath {
namespace {

constexpr int32_t kSimulatedCode = -1;
constexpr int32_t kBeepSpan = 1000000;

class SimulatedBackEnd final : public BackEnd {
 public:
  int32_t configure(SamplingConfig& cfg, const int16_t* channelList) override {
    // The board's own row, so that the values cannot drift from the table.
    static constexpr const BoardTypeInfo* row = boardInfo(kSimulatedCode);
    static_assert(row->group == BoardGroup::Simulated);
    selection().zeroOffset = row->zeroOffset;
    selection().resolution = row->bits;
    cfg.samplingMode = cfg.detectTriggers == 1 ? 2 : 0;
    std::memcpy(cfg.channelList, channelList, sizeof cfg.channelList);
    return 0;
  }

  int32_t start(const SamplingConfig&, bool& useThread) override {
    std::fill(std::begin(phase_), std::end(phase_), 0);
    useThread = true;
    return 0;
  }

  int32_t fetch(uint16_t* dest, int32_t channels, int32_t maxScans, int32_t& scans) override {
    scans = 0;
    TestSignals& s = testSignals();
    if (maxScans >= 1) {
      for (int32_t c = 0; c < std::min(channels, kTestColumns); ++c) {
        const int32_t length = s.length[c].load(std::memory_order_relaxed);
        const int32_t row = static_cast<int32_t>(phase_[c] % static_cast<uint32_t>(length));
        storeSample(dest[c], static_cast<uint16_t>(s.table[row][c].load(std::memory_order_relaxed)));
        ++phase_[c];
      }
      scans = 1;
    }
    pace(s.pacing.load());
    if (config().monitorSpan > kBeepSpan) MessageBeep(0);
    return 0;
  }

  // The thread spins between scans, so the block reader does not sleep.
  bool readerWaitsPerPass() const override { return false; }
  bool detectsTriggerEvents() const override { return true; }

 private:
  // Busy-waits the pacing count; volatile so the optimiser keeps the loop.
  // Looks at the stop flag now and then so that a stop is never held up.
  static void pace(int32_t count) {
    const std::atomic<int32_t>& stop = ring().stopRequested;
    volatile int32_t i = 0;
    while (i < count) {
      if ((i & 0xFFF) == 0 && stop.load(std::memory_order_relaxed) != 0) return;
      i = i + 1;
    }
  }

  // Samples played per channel since the run began; unsigned so the count
  // wraps instead of overflowing on a very long run.
  uint32_t phase_[kTestColumns] = {};
};

}  // namespace

BackEnd& simulatedBackEnd() {
  static SimulatedBackEnd* instance = new SimulatedBackEnd;
  return *instance;
}

}  // namespace vekmath
