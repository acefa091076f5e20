// ReadBlock on the simulated board at its fastest pace, 32 channels,
// blocks of 1000 scans: blocks per second, and every scan accounted for.
#include <benchmark/benchmark.h>

#include <windows.h>

#include <vector>

#include <vekmath.h>

namespace {

constexpr LONG kChannels = 32;
constexpr LONG kScans = 1000;
constexpr LONG kRows = 10000;

void BM_ReadBlock(benchmark::State& state) {
  SHORT list[32];
  for (int c = 0; c < 32; ++c) list[c] = static_cast<SHORT>(c + 1);
  LONG status = 0;
  SelectBoard(-1, 0, "");
  SetTestLength(10000);
  // Channel c counts its rows from c, so a lost or repeated scan shows.
  for (LONG c = 0; c < kChannels; ++c) {
    SetTestChannelLength(kRows, c);
    for (LONG row = 0; row < kRows; ++row) SetTestSample(32768 + c + row % 2000, row, c);
  }
  SetupSampling(kChannels, list, kScans, 1, 1000, 0, 0, 0, 0, &status);
  StartSampling(&status);
  std::vector<SHORT> block(kChannels * kScans);
  int64_t scan = 0;
  int64_t lost = 0;
  for (auto _ : state) {
    ReadBlock(block.data(), kScans, nullptr, &status);
    if (status != 0) {
      state.SkipWithError("read failed");
      break;
    }
    for (LONG s = 0; s < kScans; ++s, ++scan) {
      const LONG row = static_cast<LONG>(scan % kRows);
      lost += block[s * kChannels] != static_cast<SHORT>(row % 2000) ||
              block[s * kChannels + kChannels - 1] != static_cast<SHORT>(kChannels - 1 + row % 2000);
    }
  }
  state.counters["blocks/s"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
  state.counters["scans/s"] =
      benchmark::Counter(static_cast<double>(state.iterations()) * kScans, benchmark::Counter::kIsRate);
  state.counters["wrong_scans"] = static_cast<double>(lost);
  StopSampling(&status);
  CloseBoard(&status);
}
BENCHMARK(BM_ReadBlock)->Unit(benchmark::kMillisecond)->MinTime(1.0);

}  // namespace

BENCHMARK_MAIN();
