// The monitor's waveform class over 1 M samples: the statistics, one filter,
// a detection and a binary wave-file round trip, all through the processing
// library bound by name as the monitor binds it.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <unistd.h>

#include "core/waveform/waveform.h"

namespace {

constexpr int32_t kSamples = 1'000'000;

orvane::core::WaveForm Signal() {
  std::vector<float> s(kSamples);
  for (int32_t k = 0; k < kSamples; ++k)
    s[static_cast<size_t>(k)] = static_cast<float>(std::sin(0.01 * k) + 0.1 * std::sin(1.3 * k));
  orvane::core::WaveForm w;
  w.SetSamples(s);
  w.SetCount(kSamples);
  w.SetDisplayWidth(kSamples);
  return w;
}

void BM_Statistics(benchmark::State& state) {
  const orvane::core::WaveForm w = Signal();
  for (auto _ : state) {
    int32_t width = kSamples;
    benchmark::DoNotOptimize(w.MaxMinText(0, width));
    benchmark::DoNotOptimize(w.Mean(0, width));
    benchmark::DoNotOptimize(w.Rms(0, width));
  }
  state.SetItemsProcessed(state.iterations() * kSamples);
}

void BM_MovingAverage(benchmark::State& state) {
  orvane::core::WaveForm w = Signal();
  for (auto _ : state) w.MovingAverage(15, 1);
  state.SetItemsProcessed(state.iterations() * kSamples);
}

void BM_FindLevelEvents(benchmark::State& state) {
  const orvane::core::WaveForm w = Signal();
  std::vector<float> up, down;
  int32_t ups = 0, downs = 0;
  for (auto _ : state) {
    int32_t start = 0, width = kSamples;
    w.FindLevelEventsChecked(start, width, 0.0f, 0.2f, 10.0f, -10.0f, ups, up, downs, down);
  }
  state.counters["events"] = ups + downs;
  state.SetItemsProcessed(state.iterations() * kSamples);
}

void BM_BinaryRoundTrip(benchmark::State& state) {
  const orvane::core::WaveForm w = Signal();
  orvane::core::WaveForm back;
  back.SetDisplayWidth(kSamples);
  const std::string path = "/tmp/orvane_waveform_bench_" + std::to_string(::getpid()) + ".bin";
  for (auto _ : state) {
    w.SaveBinary(path, 0);
    back.LoadBinary(path, kSamples, 0);
  }
  std::remove(path.c_str());
  state.SetBytesProcessed(state.iterations() * int64_t{8} * kSamples);
}

}  // namespace

BENCHMARK(BM_Statistics)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MovingAverage)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FindLevelEvents)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BinaryRoundTrip)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
