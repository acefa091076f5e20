// Trigger detection over 32 interleaved channels: samples scanned per second
// (every sample of each scan counts, as the detector walks whole scans).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "../vekmath/triggers/trigger_detector.h"

namespace {

constexpr int32_t kChannels = 32;
constexpr int32_t kScans = 100000;

void BM_TriggerDetection(benchmark::State& state) {
  const int32_t length = kChannels * kScans;
  std::vector<uint16_t> ring(static_cast<std::size_t>(length), 32768);
  // Channel 5 carries a square wave of 1000 scans, the others a ramp.
  for (int32_t s = 0; s < kScans; ++s) {
    for (int32_t c = 0; c < kChannels; ++c) {
      ring[s * kChannels + c] = static_cast<uint16_t>(c == 4 ? ((s / 500) % 2 ? 60000 : 5000) : s);
    }
  }
  vekmath::TriggerSettings settings;
  settings.channels = kChannels;
  settings.triggerChannel = 5;
  settings.levelA = 1000;
  settings.levelB = 500;
  settings.blockScans = 100;
  settings.offsetScans = -100;
  settings.zero = 32768;
  vekmath::TriggerDetector detector;
  detector.arm(settings);
  int64_t events = 0;
  // Passes of 1000 scans, as an NI chunk would bring them.
  constexpr int32_t kPass = 1000;
  for (auto _ : state) {
    for (int32_t w = 0; w < length; w += kPass * kChannels) {
      detector.scan(ring.data(), length, w, kPass, true, [&](int32_t) { ++events; });
    }
    benchmark::DoNotOptimize(events);
  }
  state.SetItemsProcessed(state.iterations() * int64_t{length});
  state.counters["events"] = benchmark::Counter(static_cast<double>(events), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_TriggerDetection);

}  // namespace

BENCHMARK_MAIN();
