// Counter and timer events delivered by callback, as an application meets
// them: from the moment the simulated device raises the event (a compare
// match on a pulse, a tick on the virtual clock) to the callback on the
// library's event thread. Counters: latency median and 99th percentile in
// microseconds. The library is loaded by name over the simulated driver
// (kernel road) and the virtual device library.
#include <benchmark/benchmark.h>
#include <halvik.h>
#include <halviksim.h>

#include <windows.h>

#include "halvik_installation.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr DWORD kCallbackWaitMs = 5000;

HANDLE gDelivered = nullptr;
std::atomic<int64_t> gDeliveredAt{0};
void WINAPI onEvent(short, short, short, LONG, void*) {
  gDeliveredAt = Clock::now().time_since_epoch().count();
  SetEvent(gDelivered);
}

struct Installation {
  bench::HalvikInstallation halvik{"halvik_unit_bench",
                                   {{"HVA1", "HVA-1632PE", 1, "", 1}, {"DEMO0", "Demo", 10, "HVM0", 2}}};

  Installation() { gDelivered = CreateEventA(nullptr, FALSE, FALSE, nullptr); }
};

Installation& installation() {
  static Installation instance;
  return instance;
}

// Runs raise() once per iteration and records how long the callback took.
template <class Raise>
void measure(benchmark::State& state, Raise raise) {
  std::vector<double> us;
  us.reserve(4096);
  for (auto _ : state) {
    ResetEvent(gDelivered);
    const auto from = Clock::now();
    raise();
    if (WaitForSingleObject(gDelivered, kCallbackWaitMs) != WAIT_OBJECT_0) {
      state.SkipWithError("no callback");
      return;
    }
    const auto at = Clock::time_point(Clock::duration(gDeliveredAt.load()));
    us.push_back(std::chrono::duration<double, std::micro>(at - from).count());
  }
  std::sort(us.begin(), us.end());
  if (us.empty()) return;
  state.counters["median_us"] = us[us.size() / 2];
  state.counters["p99_us"] = us[std::min(us.size() - 1, us.size() * 99 / 100)];
}

constexpr const char* kRoads[] = {"HVA1", "DEMO0"};

// Every pulse is a compare match: the comparison values are 1..256 and
// the count is preset back to 0 before it passes them.
void BM_CounterMatchByCallback(benchmark::State& state) {
  Installation& x = installation();
  const char* road = kRoads[state.range(0)];
  const short id = x.halvik.open(road);
  if (id < 0) {
    state.SkipWithError("the device did not open");
    return;
  }
  std::vector<LONG> values(256);
  for (LONG i = 0; i < 256; ++i) values[static_cast<size_t>(i)] = i + 1;
  x.halvik.entry<decltype(&XanSetCntComparisonReg)>("XanSetCntComparisonReg")(id, 0, 256, values.data(), 0);
  x.halvik.entry<decltype(&XanSetCntCallBackProc)>("XanSetCntCallBackProc")(id, 0, onEvent, 0x10, nullptr);
  auto preset = x.halvik.entry<decltype(&XanPresetCnt)>("XanPresetCnt");
  preset(id, 0, 0);
  x.halvik.entry<decltype(&XanStartCnt)>("XanStartCnt")(id, 0);
  int sinceReset = 0;
  measure(state, [&] {
    if (++sinceReset > 256) {
      preset(id, 0, 0);
      sinceReset = 1;
    }
    halviksim::PulseCounter(road, 0, 1);
  });
  x.halvik.entry<decltype(&XanStopCnt)>("XanStopCnt")(id, 0);
  x.halvik.close(id);
  state.SetLabel(road);
}
BENCHMARK(BM_CounterMatchByCallback)->Arg(0)->Arg(1)->Iterations(2000);

// Only the kernel driver signals ticks: one 1 ms interval per iteration.
void BM_TimerTickByCallback(benchmark::State& state) {
  Installation& x = installation();
  const short id = x.halvik.open("HVA1");
  if (id < 0) {
    state.SkipWithError("the device did not open");
    return;
  }
  x.halvik.entry<decltype(&XanSetTmCallBackProc)>("XanSetTmCallBackProc")(id, 0, onEvent, 0x1, nullptr);
  x.halvik.entry<decltype(&XanStartTmTimer)>("XanStartTmTimer")(id, 0, 1.0f);
  measure(state, [] { halviksim::AdvanceTime("HVA1", 1000); });
  x.halvik.entry<decltype(&XanStopTmTimer)>("XanStopTmTimer")(id, 0);
  x.halvik.close(id);
}
BENCHMARK(BM_TimerTickByCallback)->Iterations(2000);

}  // namespace

BENCHMARK_MAIN();
