// The library's transform of 2^16 and 2^20 points beside a well-known FFT
// library's planned real-to-complex transform of the same samples, in the
// same run.
#include <benchmark/benchmark.h>
#include <fftw3.h>

#include <cmath>
#include <vector>

#include "vekmath.h"

namespace {

std::vector<float> signal(int n) {
  std::vector<float> s(n);
  for (int k = 0; k < n; ++k) s[k] = static_cast<float>(std::sin(0.001 * k) + 0.5 * std::cos(0.37 * k));
  return s;
}

void BM_FftForward(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const std::vector<float> src = signal(n);
  std::vector<float> re(n), im(n);
  for (auto _ : state) {
    FftForward(re.data(), im.data(), src.data(), n);
    benchmark::DoNotOptimize(re.data());
  }
  state.SetItemsProcessed(state.iterations() * n);
}

void BM_FftInverse(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const std::vector<float> src = signal(n);
  std::vector<float> re(n), im(n), out(n);
  FftForward(re.data(), im.data(), src.data(), n);
  for (auto _ : state) {
    FftInverse(out.data(), re.data(), im.data(), n);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetItemsProcessed(state.iterations() * n);
}

// The library's plan with its measured choice of algorithm; planning is
// outside the timed loop, the 1/n scaling inside, as the export does it.
void BM_FftwReference(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  std::vector<float> src = signal(n);
  fftwf_complex* out = fftwf_alloc_complex(n / 2 + 1);
  fftwf_plan plan = fftwf_plan_dft_r2c_1d(n, src.data(), out, FFTW_MEASURE);
  src = signal(n);  // measuring overwrote the input
  for (auto _ : state) {
    fftwf_execute(plan);
    const float scale = 1.0f / n;
    for (int k = 0; k <= n / 2; ++k) {
      out[k][0] *= scale;
      out[k][1] *= scale;
    }
    benchmark::DoNotOptimize(out);
  }
  state.SetItemsProcessed(state.iterations() * n);
  fftwf_destroy_plan(plan);
  fftwf_free(out);
}

}  // namespace

BENCHMARK(BM_FftForward)->Arg(1 << 16)->Arg(1 << 20)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FftInverse)->Arg(1 << 16)->Arg(1 << 20)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FftwReference)->Arg(1 << 16)->Arg(1 << 20)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
