// The simulated board at its fastest into the ring with 32 channels, the
// caller copying the ring out meanwhile; and the copy out of a full ring
// alone.
#include <benchmark/benchmark.h>

#include <windows.h>

#include <chrono>
#include <thread>
#include <vector>

#include "vekmath.h"

namespace {

constexpr LONG kChannels = 32;
constexpr LONG kBlockScans = 10000;  // ring: 320,000 samples
constexpr LONG kFastestPacing = 10000;

LONG configure() {
  SHORT list[32];
  for (int c = 0; c < 32; ++c) list[c] = static_cast<SHORT>(c + 1);
  LONG status = -1;
  SetTestLength(kFastestPacing);
  SelectBoard(-1, 0, "DEBUG");
  SetupSampling3(0);
  SetupSampling(kChannels, list, kBlockScans, 1, 100, 0, 0, 0, 0, &status);
  return status;
}

LONG ringLength() {
  LONG length = 0;
  GetRingLength(&length);
  return length;
}

LONG writeIndex() {
  LONG index = 0, overrun = 0;
  GetRingPosition(&index, &overrun);
  return index;
}

void BM_SimulatedBoardIntoRingWhileReading(benchmark::State& state) {
  if (configure() != 0) {
    state.SkipWithError("configuration failed");
    return;
  }
  const LONG length = ringLength();
  std::vector<WORD> buffer(static_cast<std::size_t>(length));
  LONG status = 0;
  StartSampling(&status);
  int64_t in = 0, out = 0, lapped = 0;
  LONG last = writeIndex();
  const auto begin = std::chrono::steady_clock::now();
  for (auto _ : state) {
    out += ReadRing(buffer.data()) > 0 ? length - 1 : 0;
    const LONG now = writeIndex();
    int64_t moved = now - last;
    if (moved < 0) moved += length;
    // More than half a ring between two copies: the copy could have been
    // overtaken.
    if (moved > length / 2) ++lapped;
    in += moved;
    last = now;
  }
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
  StopSampling(&status);
  CloseBoard(&status);
  state.counters["in_values_per_s"] = benchmark::Counter(static_cast<double>(in) / seconds);
  state.counters["out_values_per_s"] = benchmark::Counter(static_cast<double>(out) / seconds);
  state.counters["overruns"] = benchmark::Counter(static_cast<double>(lapped));
}
BENCHMARK(BM_SimulatedBoardIntoRingWhileReading)->UseRealTime()->MinTime(2.0);

void BM_RingCopy(benchmark::State& state) {
  if (configure() != 0) {
    state.SkipWithError("configuration failed");
    return;
  }
  LONG status = 0, wrapped = 0;
  StartSampling(&status);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (wrapped == 0 && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    GetRingPosition2(&wrapped);
  }
  StopSampling(&status);
  if (wrapped == 0) {
    state.SkipWithError("the ring did not fill");
    return;
  }
  const LONG length = ringLength();
  std::vector<WORD> buffer(static_cast<std::size_t>(length));
  for (auto _ : state) {
    benchmark::DoNotOptimize(ReadRing(buffer.data()));
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * int64_t{length - 1});
  CloseBoard(&status);
}
BENCHMARK(BM_RingCopy);

}  // namespace

BENCHMARK_MAIN();
