// Conversion of one monitor block, 32 channels x 1000 scans, as the monitor
// does it for every block it shows and writes. Reports values per second.
#include <benchmark/benchmark.h>

#include <vector>

#include "vekmath.h"

namespace {

constexpr SHORT kChannels = 32;
constexpr LONG kScans = 1000;

void BM_ConvertBlock(benchmark::State& state) {
  std::vector<SHORT> raw(static_cast<size_t>(kChannels) * kScans);
  for (size_t i = 0; i < raw.size(); ++i) raw[i] = static_cast<SHORT>((i * 7919) % 65536 - 32768);
  std::vector<CalibrationRecord> records(CALIBRATION_CHANNELS);
  for (int c = 0; c < CALIBRATION_CHANNELS; ++c) records[c] = {10.0f + c, -1.0f * c, 2000.0f + c, 3.0f * c};
  std::vector<FLOAT> data(raw.size());
  for (auto _ : state) {
    ConvertBlock(data.data(), raw.data(), kChannels, kScans, records.data());
    benchmark::DoNotOptimize(data.data());
    benchmark::ClobberMemory();
  }
  state.counters["values/s"] =
      benchmark::Counter(static_cast<double>(raw.size()), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_ConvertBlock);

}  // namespace

BENCHMARK_MAIN();
