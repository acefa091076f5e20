// CSV recording speed: converted blocks of 32 channels x 1000 scans
// formatted and written with one write per block (the whole road from the
// simulated board to the file is orvane_board_to_csv_bench).
#include <benchmark/benchmark.h>

#include <QTemporaryDir>
#include <cmath>
#include <vector>

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

}  // namespace

BENCHMARK_MAIN();
