// Counter and timer events delivered by callback, as an application meets
// them: from the moment the simulated device raises the event (a compare
// match on a pulse, a tick on the virtual clock) to the callback on the
// library's event thread. Counters: latency median and 99th percentile in
// microseconds. The library is loaded by name over the simulated driver
// (kernel road) and the virtual device library.
#include <benchmark/benchmark.h>
#include <halvik.h>
#include <halviksim.h>
#include <installer.h>
#include <stdlib.h>

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr DWORD kCallbackWaitMs = 5000;

HANDLE gDelivered = nullptr;
std::atomic<int64_t> gDeliveredAt{0};
void WINAPI onEvent(short, short, short, LONG, void*) {
  gDeliveredAt = Clock::now().time_since_epoch().count();
  SetEvent(gDelivered);
}

template <class F>
F entry(HMODULE module, const char* name) {
  return reinterpret_cast<F>(GetProcAddress(module, name));
}

struct Installation {
  std::string dir;
  HMODULE module = nullptr;

  Installation() {
    std::string pattern = (fs::temp_directory_path() / "halvik_unit_bench_XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) return;
    dir = pattern;
    ::setenv("ORVANE_ROOT", dir.c_str(), 1);
    ::setenv("ORVANE_REGISTRY", (dir + "/registry.sqlite").c_str(), 1);
    halviksim::InstallDevice({"HVA1", "HVA-1632PE", 1, "", 1});
    halviksim::InstallDevice({"DEMO0", "Demo", 10, "HVM0", 2});
    halviksim::InstallVersionFiles();
    halviksim::Rescan();
    module = LoadLibraryA("halvik.dll");
    gDelivered = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  }
  ~Installation() {
    std::error_code ignored;
    if (!dir.empty()) fs::remove_all(dir, ignored);
  }
  short open(const char* name) {
    short id = -1;
    if (module == nullptr || entry<decltype(&XanInit)>(module, "XanInit")(name, &id) != 0) return -1;
    return id;
  }
  void close(short id) { entry<decltype(&XanExit)>(module, "XanExit")(id); }
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
  const short id = x.open(road);
  if (id < 0) {
    state.SkipWithError("the device did not open");
    return;
  }
  std::vector<LONG> values(256);
  for (LONG i = 0; i < 256; ++i) values[static_cast<size_t>(i)] = i + 1;
  entry<decltype(&XanSetCntComparisonReg)>(x.module, "XanSetCntComparisonReg")(id, 0, 256, values.data(), 0);
  entry<decltype(&XanSetCntCallBackProc)>(x.module, "XanSetCntCallBackProc")(id, 0, onEvent, 0x10, nullptr);
  auto preset = entry<decltype(&XanPresetCnt)>(x.module, "XanPresetCnt");
  preset(id, 0, 0);
  entry<decltype(&XanStartCnt)>(x.module, "XanStartCnt")(id, 0);
  int sinceReset = 0;
  measure(state, [&] {
    if (++sinceReset > 256) {
      preset(id, 0, 0);
      sinceReset = 1;
    }
    halviksim::PulseCounter(road, 0, 1);
  });
  entry<decltype(&XanStopCnt)>(x.module, "XanStopCnt")(id, 0);
  x.close(id);
  state.SetLabel(road);
}
BENCHMARK(BM_CounterMatchByCallback)->Arg(0)->Arg(1)->Iterations(2000);

// Only the kernel driver signals ticks: one 1 ms interval per iteration.
void BM_TimerTickByCallback(benchmark::State& state) {
  Installation& x = installation();
  const short id = x.open("HVA1");
  if (id < 0) {
    state.SkipWithError("the device did not open");
    return;
  }
  entry<decltype(&XanSetTmCallBackProc)>(x.module, "XanSetTmCallBackProc")(id, 0, onEvent, 0x1, nullptr);
  entry<decltype(&XanStartTmTimer)>(x.module, "XanStartTmTimer")(id, 0, 1.0f);
  measure(state, [] { halviksim::AdvanceTime("HVA1", 1000); });
  entry<decltype(&XanStopTmTimer)>(x.module, "XanStopTmTimer")(id, 0);
  x.close(id);
}
BENCHMARK(BM_TimerTickByCallback)->Iterations(2000);

}  // namespace

BENCHMARK_MAIN();
