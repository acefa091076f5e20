// Analog output of a known waveform at the stand-in's highest clock, fed
// as an application feeds a stream: the device memory primed, then one
// block more at every data-number event. Counters: samples per second
// sustained, underruns (the output ran dry before the stop), and whether
// what went out was the waveform. The library is loaded by name over the
// simulated driver on its real-time clock.
#include <benchmark/benchmark.h>
#include <halvik.h>
#include <halviksim.h>

#include <windows.h>

#include "halvik_installation.h"

#include <chrono>
#include <string>
#include <vector>

namespace {


constexpr auto kRunTime = std::chrono::milliseconds(300);
constexpr short kChannels = 2;
constexpr LONG kBlock = 5000;   // samples per block and per data-number event
constexpr int kPrimed = 4;      // blocks in the memory before the start
constexpr LONG kDataNumberEvent = 0x80, kOutputErrorEvent = 0x40000;
constexpr short kStopByCommand = 4;

HANDLE g_blockDue = nullptr;
void WINAPI onEvent(short, short, short, LONG, void*) { SetEvent(g_blockDue); }

struct Installation {
  bench::HalvikInstallation halvik{"halvik_ao_bench", {{"HVA1", "HVA-1632PE", 1, "", 1}}};
  short id = halvik.open("HVA1");

  Installation() { g_blockDue = CreateEventA(nullptr, FALSE, FALSE, nullptr); }
  ~Installation() {
    if (id >= 0) halvik.close(id);
  }
};

Installation& installation() {
  static Installation instance;
  return instance;
}

// Block b of the waveform: a ramp over 4096 counts per channel.
void fillBlock(std::vector<LONG>& block, int64_t b) {
  for (LONG s = 0; s < kBlock; ++s) {
    for (short c = 0; c < kChannels; ++c)
      block[static_cast<size_t>(s) * kChannels + c] = static_cast<LONG>((b * kBlock + s + 1024 * c) % 4096);
  }
}

void BM_AoStreamAtHighestClock(benchmark::State& state) {
  Installation& x = installation();
  if (x.id < 0) {
    state.SkipWithError("the device did not open");
    return;
  }
  const short id = x.id;
  float fastest = 0;
  x.halvik.entry<decltype(&XanGetAoMinSamplingClock)>("XanGetAoMinSamplingClock")(id, &fastest);
  LONG setup = x.halvik.entry<decltype(&XanSetAoChannels)>("XanSetAoChannels")(id, kChannels);
  setup |= x.halvik.entry<decltype(&XanSetAoSamplingClock)>("XanSetAoSamplingClock")(id, fastest > 0 ? fastest : 1);
  setup |= x.halvik.entry<decltype(&XanSetAoStopTrigger)>("XanSetAoStopTrigger")(id, kStopByCommand);
  setup |= x.halvik.entry<decltype(&XanSetAoEventSamplingTimes)>("XanSetAoEventSamplingTimes")(id, kBlock);
  setup |= x.halvik.entry<decltype(&XanSetAoCallBackProc)>("XanSetAoCallBackProc")(
      id, onEvent, kDataNumberEvent | kOutputErrorEvent, nullptr);
  if (setup != 0) {
    state.SkipWithError("the output could not be set up");
    return;
  }
  auto data = x.halvik.entry<decltype(&XanSetAoSamplingData)>("XanSetAoSamplingData");
  auto start = x.halvik.entry<decltype(&XanStartAo)>("XanStartAo");
  auto stop = x.halvik.entry<decltype(&XanStopAo)>("XanStopAo");
  auto count = x.halvik.entry<decltype(&XanGetAoSamplingCount)>("XanGetAoSamplingCount");

  std::vector<LONG> block(static_cast<size_t>(kBlock) * kChannels);
  double samples = 0, wall = 0, underruns = 0, wrong = 0;
  for (auto _ : state) {
    // Data set while the output stands replaces what the memory held: the
    // primed blocks go in as one.
    std::vector<LONG> primed;
    int64_t next = 0;
    for (; next < kPrimed; ++next) {
      fillBlock(block, next);
      primed.insert(primed.end(), block.begin(), block.end());
    }
    data(id, kBlock * kPrimed, primed.data());
    const auto began = std::chrono::steady_clock::now();
    if (start(id) != 0) {
      state.SkipWithError("the start failed");
      return;
    }
    while (std::chrono::steady_clock::now() - began < kRunTime) {
      if (WaitForSingleObject(g_blockDue, 50) != WAIT_OBJECT_0) continue;
      fillBlock(block, next++);
      data(id, kBlock, block.data());
    }
    LONG out = 0;
    count(id, &out);
    wall += std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
    stop(id);
    samples += out;
    const halviksim::AoReadBack back = halviksim::ReadAoOutput("HVA1");
    underruns += back.underrun ? 1 : 0;
    for (size_t i = 0; i < back.output.size(); ++i) {
      const int64_t s = static_cast<int64_t>(i / kChannels), c = static_cast<int64_t>(i % kChannels);
      wrong += back.output[i] != static_cast<int32_t>((s + 1024 * c) % 4096);
    }
    x.halvik.entry<decltype(&XanResetAoMemory)>("XanResetAoMemory")(id);
  }
  state.counters["samples_per_s"] = benchmark::Counter(samples / wall);
  state.counters["underruns"] = benchmark::Counter(underruns);
  state.counters["wrong_values"] = benchmark::Counter(wrong);
  state.SetLabel(std::to_string(kChannels) + " channels at " + std::to_string(fastest) + " us");
}
BENCHMARK(BM_AoStreamAtHighestClock)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
