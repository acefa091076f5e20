// Serial unit A on a pseudo-terminal through the library: lines parsed per
// second at the unit's highest line rate (what 460,800 baud carries) and as
// fast as the terminal takes them, with every lost line counted.
#include <benchmark/benchmark.h>
#include <serialunit.h>
#include <stdlib.h>
#include <windows.h>

#include <chrono>
#include <memory>
#include <vector>

#include <vekmath.h>

namespace {

using serialunit::Protocol;

constexpr LONG kChannels = 8;
constexpr LONG kScans = 500;
constexpr int kCountRange = 8192;  // unit A's 13-bit counts

// Ten bits a byte on the line (start, eight data, stop).
double highestLineRate() {
  std::size_t bytes = 0;
  constexpr int kSample = 1000;
  for (int64_t k = 0; k < kSample; ++k) bytes += serialunit::lineText(Protocol::Commands, k, kChannels).size();
  return 460800.0 / 10.0 / (static_cast<double>(bytes) / kSample);
}

void BM_SerialUnitLines(benchmark::State& state) {
  const bool paced = state.range(0) != 0;
  serialunit::UnitOptions options{Protocol::Commands, kChannels, paced ? highestLineRate() : 0.0};
  auto unit = std::make_unique<serialunit::SerialUnit>(options);
  if (!paced) unit->sendLines(int64_t{1} << 40);
  setenv("ORVANE_COM3", unit->portPath().c_str(), 1);
  SHORT list[32] = {1, 2, 3, 4, 5, 6, 7, 8};
  LONG status = 0;
  SelectBoard(33, 0, "COM3");
  SetupSampling(kChannels, list, kScans, 1, 1000, 0, 0, 0, 0, &status);
  if (status == 0) StartSampling(&status);
  if (status != 0) {
    state.SkipWithError("the unit could not be started");
    return;
  }
  std::vector<SHORT> block(kChannels * kScans);
  int64_t next = 0;  // the line the next scan should be
  int64_t parsed = 0;
  int64_t lost = 0;
  const auto began = std::chrono::steady_clock::now();
  for (auto _ : state) {
    ReadBlock(block.data(), kScans, nullptr, &status);
    if (status != 0) {
      state.SkipWithError("read failed");
      break;
    }
    // Channel 0 steps by one per line: a gap is lines lost.
    for (LONG s = 0; s < kScans; ++s, ++next) {
      const int expected = serialunit::valueOf(Protocol::Commands, next, 0);
      const int gap = ((block[s * kChannels] - expected) % kCountRange + kCountRange) % kCountRange;
      lost += gap;
      next += gap;
    }
    parsed += kScans;
  }
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
  StopSampling(&status);
  CloseBoard(&status);
  unsetenv("ORVANE_COM3");
  state.counters["lines_per_s"] = benchmark::Counter(static_cast<double>(parsed) / seconds);
  state.counters["lost_lines"] = benchmark::Counter(static_cast<double>(lost));
}

BENCHMARK(BM_SerialUnitLines)->ArgName("paced")->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
