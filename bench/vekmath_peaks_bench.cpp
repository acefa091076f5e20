// Peak and level-event detection over 10 M samples beside the standard
// library's single pass for the extremes of the same samples, in the same
// run: a floor for any scan that looks at every sample once.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "vekmath.h"

namespace {

constexpr int kSamples = 10'000'000;

const std::vector<float>& trace() {
  static const std::vector<float> t = [] {
    std::vector<float> s(kSamples);
    for (int k = 0; k < kSamples; ++k) s[k] = static_cast<float>(std::sin(0.01 * k) + 0.1 * std::sin(1.3 * k));
    return s;
  }();
  return t;
}

void BM_DetectPeaks(benchmark::State& state) {
  const std::vector<float>& data = trace();
  std::vector<float> peaks(kSamples), valleys(kSamples);
  LONG np = 0, nv = 0;
  for (auto _ : state) {
    DetectPeaks(&np, peaks.data(), &nv, valleys.data(), data.data(), kSamples, 0.5f);
    benchmark::DoNotOptimize(np);
  }
  state.counters["peaks"] = static_cast<double>(np);
  state.SetItemsProcessed(state.iterations() * kSamples);
}

void BM_DetectLevelEvents(benchmark::State& state) {
  const std::vector<float>& data = trace();
  std::vector<float> ups(kSamples), downs(kSamples);
  LONG nu = 0, nd = 0;
  for (auto _ : state) {
    DetectLevelEvents(&nu, ups.data(), &nd, downs.data(), data.data(), kSamples, 0.0f, 0.4f, 2.0f, -2.0f);
    benchmark::DoNotOptimize(nu);
  }
  state.counters["ups"] = static_cast<double>(nu);
  state.SetItemsProcessed(state.iterations() * kSamples);
}

void BM_StdMinMaxReference(benchmark::State& state) {
  const std::vector<float>& data = trace();
  for (auto _ : state) {
    auto extremes = std::minmax_element(data.begin(), data.end());
    benchmark::DoNotOptimize(extremes);
  }
  state.SetItemsProcessed(state.iterations() * kSamples);
}

}  // namespace

BENCHMARK(BM_DetectPeaks)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DetectLevelEvents)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StdMinMaxReference)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
