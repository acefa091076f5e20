// Analog input at the stand-in's highest clock into the host ring, read as
// an application reads it: woken by the data-count event, it takes every
// stored scan. Counters: scans per second sustained, scans lost (a break
// in the known signal or the overrun bit), and the process's CPU share
// (CPU time / wall time). The library is loaded by name over the simulated
// driver on its real-time clock.
#include <benchmark/benchmark.h>
#include <halvik.h>
#include <halviksim.h>
#include <time.h>

#include <windows.h>

#include "clock_seconds.h"
#include "halvik_installation.h"

#include <chrono>
#include <string>
#include <vector>

namespace {


constexpr auto kRunTime = std::chrono::milliseconds(300);
constexpr LONG kEventScans = 1000;
constexpr LONG kDataCountEvent = 0x80;

HANDLE g_dataEvent = nullptr;
void WINAPI onEvent(short, short, short, LONG, void*) { SetEvent(g_dataEvent); }

struct Installation {
  bench::HalvikInstallation halvik{"halvik_ring_bench", {{"HVA1", "HVA-1632PE", 1, "", 1}}};
  short id = halvik.open("HVA1");

  Installation() { g_dataEvent = CreateEventA(nullptr, FALSE, FALSE, nullptr); }
  ~Installation() {
    if (id >= 0) halvik.close(id);
  }
};

Installation& installation() {
  static Installation instance;
  return instance;
}

void BM_HostRingByEvents(benchmark::State& state) {
  Installation& x = installation();
  const short channels = static_cast<short>(state.range(0));
  if (x.id < 0) {
    state.SkipWithError("the device did not open");
    return;
  }
  const short id = x.id;
  float fastest = 0;
  x.halvik.entry<decltype(&XanGetAiMinSamplingClock)>("XanGetAiMinSamplingClock")(id, &fastest);
  LONG setup = x.halvik.entry<decltype(&XanSetAiChannels)>("XanSetAiChannels")(id, channels);
  setup |= x.halvik.entry<decltype(&XanSetAiSamplingClock)>("XanSetAiSamplingClock")(id, fastest);
  setup |= x.halvik.entry<decltype(&XanSetAiStopTrigger)>("XanSetAiStopTrigger")(id, 4);
  setup |= x.halvik.entry<decltype(&XanSetAiDeviceBufferMode)>("XanSetAiDeviceBufferMode")(id, 1);
  setup |= x.halvik.entry<decltype(&XanSetAiEventSamplingTimes)>("XanSetAiEventSamplingTimes")(id, kEventScans);
  setup |= x.halvik.entry<decltype(&XanSetAiCallBackProc)>("XanSetAiCallBackProc")(id, onEvent, kDataCountEvent,
                                                                                    nullptr);
  if (setup != 0) {
    state.SkipWithError("the host ring could not be set up");
    return;
  }
  auto start = x.halvik.entry<decltype(&XanStartAi)>("XanStartAi");
  auto stop = x.halvik.entry<decltype(&XanStopAi)>("XanStopAi");
  auto count = x.halvik.entry<decltype(&XanGetAiSamplingCount)>("XanGetAiSamplingCount");
  auto data = x.halvik.entry<decltype(&XanGetAiSamplingData)>("XanGetAiSamplingData");
  auto status = x.halvik.entry<decltype(&XanGetAiStatus)>("XanGetAiStatus");

  std::vector<LONG> values;
  double scansRead = 0, lost = 0, wall = 0, cpu = 0;
  for (auto _ : state) {
    int64_t next = 0;
    const auto began = std::chrono::steady_clock::now();
    const double cpuBegan = bench::clockSeconds(CLOCK_PROCESS_CPUTIME_ID);
    if (start(id) != 0) {
      state.SkipWithError("the start failed");
      return;
    }
    while (std::chrono::steady_clock::now() - began < kRunTime) {
      WaitForSingleObject(g_dataEvent, 50);
      LONG stored = 0;
      if (count(id, &stored) != 0 || stored <= 0) continue;
      values.resize(static_cast<size_t>(stored) * channels);
      LONG scans = stored;
      data(id, &scans, values.data());
      for (LONG s = 0; s < scans; ++s, ++next) {
        if (values[static_cast<size_t>(s) * channels] != static_cast<LONG>(next & 0xFFF)) {
          ++lost;
          next = values[static_cast<size_t>(s) * channels];  // go on from where the signal is
        }
      }
      scansRead += scans;
    }
    LONG bits = 0;
    status(id, &bits);
    if ((bits & 0x10000) != 0) ++lost;
    stop(id);
    wall += std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
    cpu += bench::clockSeconds(CLOCK_PROCESS_CPUTIME_ID) - cpuBegan;
  }
  state.counters["scans_per_s"] = benchmark::Counter(scansRead / wall);
  state.counters["lost"] = benchmark::Counter(lost);
  state.counters["cpu_share"] = benchmark::Counter(cpu / wall);
  state.SetLabel(std::to_string(channels) + " channels at " + std::to_string(fastest) + " us");
}
BENCHMARK(BM_HostRingByEvents)->Arg(8)->Arg(32)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
