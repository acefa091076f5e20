// Bus-master sampling on the simulated board at its highest clock with all
// channels, read through SkGetSamplingData: how many scans per second pass
// without loss, and what one device-control round trip costs.
#include <benchmark/benchmark.h>
#include <skorra.h>
#include <skorradev.h>
#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

namespace {

constexpr uint32_t kChannels = 32;  // every single-ended channel of the 4591
// The mode-8 limit for 32 channels: 1e9 / 1000 ns / 32.
constexpr float kHighestClock = 31250.0f;

struct Board {
  HANDLE h = INVALID_HANDLE_VALUE;
  Board() {
    h = SkOpen("SKORRA1");
    if (h == INVALID_HANDLE_VALUE) return;
    SkBmSamplingConfig c{};
    c.channelCount = kChannels;
    for (uint32_t i = 0; i < kChannels; ++i) c.channels[i] = {i + 1, 0x80000};
    c.inputType = 1;
    c.sampleCount = 0x100000;
    c.repeatCount = 1;
    c.bufferMode = 2;
    c.clock = kHighestClock;
    c.startCondition = 1;
    c.stopCondition = 9;  // until stopped
    c.clockOutputSelection = 0x80000000u;
    c.transferSelection = 1;
    c.transferWidth = 2;
    if (SkBmSetSamplingConfig(h, &c) != 0) {
      SkClose(h);
      h = INVALID_HANDLE_VALUE;
    }
  }
  ~Board() {
    if (h != INVALID_HANDLE_VALUE) {
      SkStopSampling(h);
      SkClose(h);
    }
  }
};

// Scans pushed through the library as fast as the reader takes them: the
// board's clock is driven by the benchmark, so the figure is the rate the
// reading side sustains.
void BM_BusMasterThroughput(benchmark::State& state) {
  Board board;
  if (board.h == INVALID_HANDLE_VALUE) {
    state.SkipWithError("no simulated board");
    return;
  }
  const uint32_t chunk = static_cast<uint32_t>(state.range(0));
  SkorradevSimSetManualClock(1, TRUE);
  SkStartSampling(board.h, 2);
  std::vector<uint16_t> buffer(static_cast<size_t>(chunk) * kChannels);
  uint64_t scans = 0, lost = 0;
  for (auto _ : state) {
    SkorradevSimAdvance(1, chunk);
    uint32_t count = chunk;
    SkGetSamplingData(board.h, buffer.data(), &count);
    scans += count;
    lost += chunk - count;
    benchmark::DoNotOptimize(buffer.data());
  }
  state.counters["scans_per_s"] = benchmark::Counter(static_cast<double>(scans), benchmark::Counter::kIsRate);
  state.counters["lost"] = static_cast<double>(lost);
  state.SetItemsProcessed(static_cast<int64_t>(scans));
}
BENCHMARK(BM_BusMasterThroughput)->Arg(256)->Arg(4096)->Arg(32768);

// The board on its own clock at the highest rate: the reader polls and
// reads what is there; loss is what the board produced but never handed out.
void BM_BusMasterRealTime(benchmark::State& state) {
  Board board;
  if (board.h == INVALID_HANDLE_VALUE) {
    state.SkipWithError("no simulated board");
    return;
  }
  SkorradevSimSetManualClock(1, FALSE);
  SkStartSampling(board.h, 2);
  std::vector<uint16_t> buffer(static_cast<size_t>(0x10000) * kChannels);
  uint64_t delivered = 0;
  for (auto _ : state) {
    uint32_t count = 0x10000;
    SkGetSamplingData(board.h, buffer.data(), &count);
    delivered += count;
  }
  int32_t runState = 0, produced = 0, held = 0;
  SkGetStatus(board.h, &runState, &produced, &held);
  state.counters["scans_per_s"] = benchmark::Counter(static_cast<double>(delivered), benchmark::Counter::kIsRate);
  state.counters["lost"] = static_cast<double>(produced) - static_cast<double>(delivered) - held;
}
BENCHMARK(BM_BusMasterRealTime)->MinTime(0.5)->UseRealTime();

// One status request: the cost of a buffered device-control round trip.
void BM_DeviceIoControlRoundTrip(benchmark::State& state) {
  Board board;
  if (board.h == INVALID_HANDLE_VALUE) {
    state.SkipWithError("no simulated board");
    return;
  }
  int32_t s = 0, a = 0, b = 0;
  for (auto _ : state) benchmark::DoNotOptimize(SkGetStatus(board.h, &s, &a, &b));
}
BENCHMARK(BM_DeviceIoControlRoundTrip);

}  // namespace

int main(int argc, char** argv) {
  // The simulated boards read the registry: give the run a store of its own.
  char pattern[] = "/tmp/skorra_bench_XXXXXX";
  const char* root = mkdtemp(pattern);
  if (root != nullptr) {
    setenv("ORVANE_ROOT", root, 1);
    setenv("ORVANE_REGISTRY", (std::string(root) + "/registry.sqlite").c_str(), 1);
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  if (root != nullptr) {
    std::error_code ec;
    std::filesystem::remove_all(root, ec);
  }
  return 0;
}
