// CSV recording speed: converted blocks of 32 channels x 1000 scans
// formatted and written with one write per block, and the whole road from
// the simulated board to the file.
#include <benchmark/benchmark.h>

#include <QDateTime>
#include <QDir>
#include <QTemporaryDir>
#include <chrono>
#include <cmath>
#include <vector>

#include <winbase.h>

#include "core/vekmath_calls.h"
#include "csv_file.h"
#include "csv_format.h"

namespace {

using orvane::forms::CsvFile;

constexpr int kChannels = 32;
constexpr int kScans = 1000;

std::vector<float> TestBlock() {
  std::vector<float> block(static_cast<size_t>(kChannels) * kScans);
  for (int c = 0; c < kChannels; ++c)
    for (int j = 0; j < kScans; ++j)
      block[static_cast<size_t>(c) * kScans + j] =
          static_cast<float>(10.0 * std::sin(j * 0.0062831853 * (c + 1)) + 0.001 * c);
  return block;
}

void BM_CsvWriteBlock(benchmark::State& state) {
  QTemporaryDir dir;
  CsvFile file;
  if (!file.Open(dir.path() + "/CSV/bench.CSV")) {
    state.SkipWithError("cannot open the CSV file");
    return;
  }
  const std::vector<float> block = TestBlock();
  for (auto _ : state) {
    if (!file.WriteBlock(block.data(), kChannels, kScans)) {
      state.SkipWithError("write failed");
      break;
    }
  }
  state.counters["values/s"] =
      benchmark::Counter(static_cast<double>(state.iterations()) * kChannels * kScans, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_CsvWriteBlock)->Unit(benchmark::kMillisecond);

// The text alone, without the file: how much of a block's time is formatting.
void BM_CsvFormatBlock(benchmark::State& state) {
  const std::vector<float> block = TestBlock();
  std::vector<char> text(orvane::forms::CsvBlockBound(kChannels, kScans));
  for (auto _ : state) {
    benchmark::DoNotOptimize(orvane::forms::FormatCsvBlock(text.data(), block.data(), kChannels, kScans));
    benchmark::ClobberMemory();
  }
  state.counters["values/s"] =
      benchmark::Counter(static_cast<double>(state.iterations()) * kChannels * kScans, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_CsvFormatBlock)->Unit(benchmark::kMillisecond);

// Channel 1 of the simulated board plays a counter over this many rows, so a
// gap between consecutive scans shows a scan the recording lost.
constexpr int kCounterRows = 10000;

// The simulated board at 32 channels, read, converted and recorded for 10 s.
void BM_SimulatedBoardToCsv(benchmark::State& state) {
  const auto& api = orvane::core::LoadedVekmath();
  if (!api.SelectBoard || !api.SetTestSine || !api.SetupSampling || !api.StartSampling || !api.ReadBlock || !api.StopSampling) {
    state.SkipWithError("the processing library lacks an acquisition call");
    return;
  }
  using SetTestSampleFn = void(WINAPI*)(LONG value, LONG row, LONG channel);
  auto setTestSample = reinterpret_cast<SetTestSampleFn>(GetProcAddress(LoadLibraryA("Vekmath.dll"), "SetTestSample"));
  if (setTestSample == nullptr) {
    state.SkipWithError("the processing library lacks SetTestSample");
    return;
  }
  QTemporaryDir dir;
  std::vector<SHORT> raw(static_cast<size_t>(kChannels) * kScans);
  std::vector<float> data(raw.size());
  CalibrationRecord cal[32];
  for (auto& r : cal) r = CalibrationRecord{10.0f, 0.0f, 31100.0f, -140.0f};
  SHORT list[32];
  for (int i = 0; i < 32; ++i) list[i] = static_cast<SHORT>(i + 1);
  long long scans = 0, lost = 0, lostScans = 0;
  double seconds = 0;
  for (auto _ : state) {
    LONG status = 0;
    api.SelectBoard(-1, 1, "20");
    for (int c = 0; c < kChannels; ++c) api.SetTestSine(c + 1, kCounterRows, c);
    for (int row = 0; row < kCounterRows; ++row) setTestSample(row, row, 0);
    int expected = -1;  // the counter value the next scan must carry
    api.SetupSampling(kChannels, list, kScans, 1, 1000, 0, 0, 0, 0, &status);
    api.StartSampling(&status);
    CsvFile file;
    file.Open(dir.path() + "/CSV/run.CSV");
    const auto start = std::chrono::steady_clock::now();
    while (status == 0 && std::chrono::steady_clock::now() - start < std::chrono::seconds(10)) {
      LONG running = 0;
      api.ReadBlock(raw.data(), kScans, &running, &status);
      if (status != 0) {
        ++lost;
        break;
      }
      for (int j = 0; j < kScans; ++j) {
        // Raw blocks hold counts minus the zero offset 32768.
        const int counter = static_cast<int>(raw[static_cast<size_t>(j) * kChannels]) + 32768;
        if (expected >= 0 && counter != expected) lostScans += (counter - expected + kCounterRows) % kCounterRows;
        expected = (counter + 1) % kCounterRows;
      }
      api.ConvertBlock(data.data(), raw.data(), kChannels, kScans, cal);
      if (!file.WriteBlock(data.data(), kChannels, kScans)) ++lost;
      scans += kScans;
    }
    seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    api.StopSampling(&status);
    api.CloseBoard(&status);
  }
  state.counters["scans/s"] = benchmark::Counter(static_cast<double>(scans) / seconds);
  state.counters["failed blocks"] = benchmark::Counter(static_cast<double>(lost));
  state.counters["lost scans"] = benchmark::Counter(static_cast<double>(lostScans));
}
BENCHMARK(BM_SimulatedBoardToCsv)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
