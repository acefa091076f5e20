// The road from the simulated board to the CSV file at 32 channels, with the
// board's pacing count at its minimum: blocks read, converted and written as
// the monitor does, for a few seconds. Channel 1 plays a counter, so a gap
// between consecutive scans shows a scan the road lost. The board spins
// between scans by design: the process's CPU time holds that spinning core,
// the reader's thread time holds the road alone.
#include <benchmark/benchmark.h>
#include <time.h>

#include <QTemporaryDir>
#include <chrono>
#include <vector>

#include <winbase.h>

#include "clock_seconds.h"
#include "core/vekmath_calls.h"
#include "csv_file.h"
#include "vekmath.h"

namespace {

using orvane::forms::CsvFile;

constexpr int kChannels = 32;
constexpr int kScans = 1000;
constexpr auto kRecording = std::chrono::seconds(3);
// Channel 1 counts over this many rows.
constexpr int kCounterRows = 10000;

void BM_SimulatedBoardToCsv(benchmark::State& state) {
  const auto& api = orvane::core::LoadedVekmath();
  // The test-signal calls beyond the sine are no monitor call: bound here alone.
  HMODULE library = LoadLibraryA("Vekmath.dll");
  auto setTestSample = reinterpret_cast<decltype(&SetTestSample)>(GetProcAddress(library, "SetTestSample"));
  auto setTestLength = reinterpret_cast<decltype(&SetTestLength)>(GetProcAddress(library, "SetTestLength"));
  if (!api.SelectBoard || !api.SetTestSine || !setTestSample || !setTestLength || !api.SetupSampling || !api.StartSampling ||
      !api.ReadBlock || !api.ConvertBlock || !api.StopSampling || !api.CloseBoard) {
    state.SkipWithError("the processing library lacks an acquisition or test-signal call");
    return;
  }
  QTemporaryDir dir;
  std::vector<SHORT> raw(static_cast<size_t>(kChannels) * kScans);
  std::vector<float> data(raw.size());
  std::vector<CalibrationRecord> cal(kChannels, CalibrationRecord{10.0f, 0.0f, 31100.0f, -140.0f});
  SHORT list[32];
  for (int i = 0; i < 32; ++i) list[i] = static_cast<SHORT>(i + 1);
  long long scans = 0, failed = 0, lostScans = 0;
  double wall = 0, threadCpu = 0, processCpu = 0;
  for (auto _ : state) {
    LONG status = 0;
    api.SelectBoard(-1, 1, "20");
    for (int c = 1; c < kChannels; ++c) api.SetTestSine(c + 1, kCounterRows, c);
    for (int row = 0; row < kCounterRows; ++row) setTestSample(row, row, 0);
    setTestLength(0);  // raised to the least pacing count
    int expected = -1; // the counter value the next scan must carry
    api.SetupSampling(kChannels, list, kScans, 1, 1000, 0, 0, 0, 0, &status);
    api.StartSampling(&status);
    CsvFile file;
    file.Open(dir.path() + "/CSV/run.CSV");
    const double thread0 = bench::clockSeconds(CLOCK_THREAD_CPUTIME_ID),
                 process0 = bench::clockSeconds(CLOCK_PROCESS_CPUTIME_ID);
    const auto start = std::chrono::steady_clock::now();
    while (status == 0 &&
           std::chrono::steady_clock::now() - start < kRecording) {
      LONG running = 0;
      api.ReadBlock(raw.data(), kScans, &running, &status);
      if (status != 0) {
        ++failed;
        break;
      }
      for (int j = 0; j < kScans; ++j) {
        // Raw blocks hold counts minus the zero offset 32768.
        const int counter = static_cast<int>(raw[static_cast<size_t>(j) * kChannels]) + 32768;
        if (expected >= 0 && counter != expected) lostScans += (counter - expected + kCounterRows) % kCounterRows;
        expected = (counter + 1) % kCounterRows;
      }
      api.ConvertBlock(data.data(), raw.data(), kChannels, kScans, cal.data());
      if (!file.WriteBlock(data.data(), kChannels, kScans)) ++failed;
      scans += kScans;
    }
    wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    threadCpu = bench::clockSeconds(CLOCK_THREAD_CPUTIME_ID) - thread0;
    processCpu = bench::clockSeconds(CLOCK_PROCESS_CPUTIME_ID) - process0;
    api.StopSampling(&status);
    api.CloseBoard(&status);
  }
  const double values = static_cast<double>(scans) * kChannels;
  state.counters["values/s"] = values / wall;
  state.counters["reader CPU ns/value"] = 1e9 * threadCpu / values;
  state.counters["process CPU ns/value"] = 1e9 * processCpu / values;
  state.counters["failed blocks"] = static_cast<double>(failed);
  state.counters["lost scans"] = static_cast<double>(lostScans);
}
BENCHMARK(BM_SimulatedBoardToCsv)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
