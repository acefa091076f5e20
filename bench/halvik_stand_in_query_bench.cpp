// One device query, frame included, through each road to the simulated
// outside side: the kernel driver stand-in behind DeviceIoControl, and the
// HalvikVm and Kelbus stand-ins. The library is loaded by name as an
// application loads it; the time is the library's and the stand-in's.
#include <benchmark/benchmark.h>
#include <halvik.h>
#include <halviksim.h>

#include <windows.h>

#include "halvik_installation.h"

#include <string>

namespace {


struct Installation {
  bench::HalvikInstallation halvik{"halvik_bench",
                                   {{"HVA1", "HVA-1632PE", 1, "", 1}, {"DEMO0", "Demo", 10, "HVM0", 2}},
                                   {{{"HVU", "HVU-1608USB", 3, "KB0", 5}, {{0, "HVU00", "HVU-1608USB"}}}}};
  decltype(&XanGetAiMinSamplingClock) minClock = nullptr;
  decltype(&XanGetDeviceRevision) revision = nullptr;
  short ids[3] = {-1, -1, -1};  // kernel, bus kind 10, bus kind 3

  Installation() {
    if (halvik.module() == nullptr) return;
    minClock = halvik.entry<decltype(minClock)>("XanGetAiMinSamplingClock");
    revision = halvik.entry<decltype(revision)>("XanGetDeviceRevision");
    const char* names[3] = {"HVA1", "DEMO0", "HVU00"};
    for (int i = 0; i < 3; ++i) ids[i] = halvik.open(names[i]);
  }
};

Installation& installation() {
  static Installation instance;
  return instance;
}

// The minimum clock is served on every road: ownership check skipped, one
// request, one value read back.
void BM_StandInQuery(benchmark::State& state) {
  Installation& x = installation();
  const short id = x.ids[state.range(0)];
  if (x.minClock == nullptr || id < 0) {
    state.SkipWithError("the device did not open");
    return;
  }
  float clock = 0;
  for (auto _ : state) {
    LONG status = x.minClock(id, &clock);
    benchmark::DoNotOptimize(status);
    if (status != 0) {
      state.SkipWithError("the query failed");
      return;
    }
  }
  state.SetLabel(state.range(0) == 0 ? "kernel driver" : state.range(0) == 1 ? "HalvikVm" : "Kelbus");
}
BENCHMARK(BM_StandInQuery)->DenseRange(0, 2);

}  // namespace

BENCHMARK_MAIN();
