// The NI-DAQmx back end over the simulated NI-DAQmx at 32 channels, its
// samples there as soon as they are asked for: the thread's chunks into the
// ring, and triggered blocks, each a full start, call-back and stop.
#include <benchmark/benchmark.h>

#include <windows.h>

#include <cstdlib>
#include <vector>

#include "acquisition/backend.h"
#include "acquisition/ring.h"
#include "backends/ni/ni_backend.h"
#include "backends/ni/ni_binding.h"
#include "backends/wdm/halvik_binding.h"
#include "nisim_library.h"
#include "vekmath.h"

namespace vekmath {
// The objects come without Halvik's linked exports; no WDM board runs here.
HalvikBinding linkedHalvik() { return {}; }
}  // namespace vekmath

namespace {

constexpr LONG kChannels = 32;
constexpr LONG kPeriodUs = 100;  // 10 kHz: chunks of 1,000 scans
constexpr LONG kBlockScans = 1000;

bool bindStandIn() {
  setenv("NISIM_CLOCK", "free", 1);
  setenv("NISIM_TRIGGER", "immediate", 1);
  static const nisim::OnSearchPath onSearchPath;
  vekmath::niDaqmxBackEnd().attach();
  return vekmath::niDaqmx().module.load() != nullptr;
}

LONG configure(LONG triggerChannel) {
  SHORT list[32];
  for (int c = 0; c < 32; ++c) list[c] = static_cast<SHORT>(c + 1);
  LONG status = -1;
  SelectBoard(17, 0, "Dev1");
  SetupSampling(kChannels, list, kBlockScans, 1, kPeriodUs, 0, triggerChannel, 0, 0, &status);
  return status;
}

void BM_NiChunksIntoTheRing(benchmark::State& state) {
  if (!bindStandIn() || configure(0) != 0) {
    state.SkipWithError("NI stand-in not configured");
    return;
  }
  vekmath::BackEnd& ni = vekmath::niDaqmxBackEnd();
  vekmath::Ring& r = vekmath::ring();
  r.clearForRun();
  ni.beginThread();
  int64_t scans = 0;
  for (auto _ : state) {
    int32_t got = 0;
    ni.fetch(r.samples + r.writeIndex.load(), kChannels, r.roomScans(kChannels), got);
    r.step(kChannels, got);
    scans += got;
  }
  ni.stop();
  ni.close();
  state.SetItemsProcessed(scans);
  state.SetBytesProcessed(scans * kChannels * 2);
  state.counters["scans/chunk"] = static_cast<double>(scans) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_NiChunksIntoTheRing)->UseRealTime();

void BM_NiTriggeredBlocks(benchmark::State& state) {
  if (!bindStandIn() || configure(1) != 0) {
    state.SkipWithError("NI stand-in not configured");
    return;
  }
  StartSampling(nullptr);
  std::vector<uint16_t> window((kBlockScans + 1) * kChannels);
  vekmath::TriggeredBlock block;
  block.window = window.data();
  block.channels = kChannels;
  block.scans = kBlockScans;
  vekmath::BackEnd& ni = vekmath::niDaqmxBackEnd();
  for (auto _ : state) {
    if (ni.readTriggeredBlock(block) != 0 || block.filled != kBlockScans) {
      state.SkipWithError("block not acquired");
      break;
    }
    benchmark::DoNotOptimize(window.data());
  }
  StopSampling(nullptr);
  CloseBoard(nullptr);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_NiTriggeredBlocks)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
