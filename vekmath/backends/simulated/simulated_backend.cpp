// The simulated board: the acquisition thread plays a table of test signals
// into the ring, one scan per pass, so that the whole road from the ring to
// the drawing runs without hardware.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <numbers>

#include "acquisition/backend.h"
#include "backends/simulated/simulated_backend.h"
#include "acquisition/board_table.h"
#include "acquisition/ring.h"
#include "acquisition/sampling_config.h"
#include "acquisition/selection.h"
#include "vekmath.h"

namespace vekmath {
namespace {

constexpr int32_t kSimulatedCode = -1;
constexpr int32_t kRows = 10000;
constexpr int32_t kColumns = static_cast<int32_t>(kMaxChannels);
constexpr int32_t kMinPacing = 10000;
constexpr int32_t kBeepSpan = 1000000;

// The caller may refill the table while the thread plays it.
struct TestSignals {
  std::atomic<int32_t> table[kRows][kColumns];
  std::atomic<int32_t> length[kColumns];
  std::atomic<int32_t> pacing{100000};
  TestSignals() {
    for (auto& l : length) l.store(kRows);
  }
};

TestSignals& signals() {
  static TestSignals instance;
  return instance;
}

bool validColumn(LONG channel) { return channel >= 0 && channel < kColumns; }

// Rows 0 to n - 1 that fit in the table.
int32_t rowsFor(LONG n) { return std::clamp<LONG>(n, 0, kRows); }

template <class Wave>
void fillColumn(LONG n, LONG channel, Wave wave) {
  if (!validColumn(channel)) return;
  auto& table = signals().table;
  const int32_t rows = rowsFor(n);
  for (int32_t i = 0; i < rows; ++i) table[i][channel].store(wave(i), std::memory_order_relaxed);
}

void fillTrig(LONG cycles, LONG n, LONG channel, double (*f)(double)) {
  // Floating point on purpose: 0 cycles gives an infinite period, a flat line.
  const double period = static_cast<double>(n) / static_cast<double>(cycles);
  fillColumn(n, channel, [&](int32_t i) {
    return static_cast<int32_t>(32767.0 * f(i * 2.0 * std::numbers::pi / period) + 32768.0);
  });
}

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
    TestSignals& s = signals();
    if (maxScans >= 1) {
      for (int32_t c = 0; c < std::min(channels, kColumns); ++c) {
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
  uint32_t phase_[kColumns] = {};
};

}  // namespace

BackEnd& simulatedBackEnd() {
  static SimulatedBackEnd* instance = new SimulatedBackEnd;
  return *instance;
}

}  // namespace vekmath

DLL_EXPORT void WINAPI SetTestSine(LONG cycles, LONG n, LONG channel) {
  vekmath::fillTrig(cycles, n, channel, [](double x) { return std::sin(x); });
}

DLL_EXPORT void WINAPI SetTestCosine(LONG cycles, LONG n, LONG channel) {
  vekmath::fillTrig(cycles, n, channel, [](double x) { return std::cos(x); });
}

DLL_EXPORT void WINAPI SetTestSquare(LONG cycles, LONG n, LONG channel) {
  const double half = static_cast<double>(n) / static_cast<double>(cycles) * 0.5;
  int32_t level = 0;
  int64_t toggles = 0;
  vekmath::fillColumn(n, channel, [&](int32_t i) {
    // Multiples of half, not a running sum, so rounding does not drift.
    if (i >= static_cast<double>(toggles + 1) * half) {
      level = 65535 - level;
      ++toggles;
    }
    return level;
  });
}

DLL_EXPORT void WINAPI SetTestChannelLength(LONG length, LONG channel) {
  using namespace vekmath;
  // 0 would divide by zero in the thread, more than the rows read past the table.
  if (!validColumn(channel) || length < 1 || length > kRows) return;
  signals().length[channel].store(length);
}

DLL_EXPORT void WINAPI SetTestSample(LONG value, LONG row, LONG channel) {
  using namespace vekmath;
  if (!validColumn(channel) || row < 0 || row >= kRows) return;
  signals().table[row][channel].store(value, std::memory_order_relaxed);
}

DLL_EXPORT void WINAPI SetTestLength(LONG count) {
  vekmath::signals().pacing.store(std::max<LONG>(count, vekmath::kMinPacing));
}
