// The WDM road into the monitor's recording path: a simulated Halvik device
// of 32 channels sampled at 1 kHz on its real-time clock, read through the
// processing library and Halvik, converted and written to the CSV file by
// the monitor's acquisition run (no window). Reports the process's CPU time
// over wall time while it records. Channel 1's count is the scan number, so
// a block that does not follow its predecessor shows scans lost.
#include <benchmark/benchmark.h>
#include <halviksim.h>
#include <installer.h>
#include <stdlib.h>
#include <time.h>

#include <QFile>
#include <QTemporaryDir>
#include <chrono>
#include <vector>

#include "clock_seconds.h"
#include "acquisition_run.h"
#include "core/board.h"

namespace {

using orvane::forms::AcquisitionRun;
using orvane::forms::RowTexts;

constexpr int kChannels = 32;
constexpr auto kRecording = std::chrono::seconds(6);
constexpr int kCountModulus = 65536;  // the device's 16-bit count wraps

void BM_WdmBoardIntoMonitorRecording(benchmark::State& state) {
  // Halvik reads the installed devices when the processing library is
  // first loaded, which the board object does: install before it.
  QTemporaryDir root, folder;
  setenv("ORVANE_ROOT", root.path().toUtf8().constData(), 1);
  unsetenv("ORVANE_REGISTRY");
  if (halviksim::InstallDevice({"XAN001", "HVA-1632PE", 1, "", 1}).empty() || !halviksim::InstallVersionFiles()) {
    state.SkipWithError("the simulated device could not be installed");
    return;
  }
  halviksim::Rescan();
  {
    QFile ini(folder.path() + "/Init.ini");
    ini.open(QIODevice::WriteOnly);
    ini.write("[ADBOARD]\r\nBoard=RQE-73-58-9-CB-L\r\nDeviceName=XAN001\r\n");
  }
  orvane::core::Board board;
  board.OpenFromIni((folder.path() + "/Init.ini").toStdString());
  const std::vector<RowTexts> rows(kChannels, RowTexts{"", "10", "0", "31100", "-140", "", ""});
  std::vector<int32_t> format;
  board.GetADDataFormat_Signed_Unsigned(format);

  for (auto _ : state) {
    AcquisitionRun run(board, kChannels);
    if (run.Prepare(rows) || run.Configure(format) != 0 || run.Start() != 0 ||
        !run.OpenCsv(folder.path() + "/CSV/run.CSV")) {
      state.SkipWithError("the WDM board could not be set up");
      break;
    }
    long long blocks = 0, lostScans = 0, failed = 0;
    int expected = -1;  // channel 1's count at the next block's first scan
    double process0 = 0, wall0 = 0, process = 0, wall = 0;
    const auto deadline = std::chrono::steady_clock::now() + kRecording;
    while (std::chrono::steady_clock::now() < deadline) {
      if (run.ReadBlock() != 0 || !run.WriteBlock()) {
        ++failed;
        break;
      }
      // The first block includes the device's start: the measure begins after it.
      if (blocks++ == 0) {
        process0 = bench::clockSeconds(CLOCK_PROCESS_CPUTIME_ID);
        wall0 = bench::clockSeconds(CLOCK_MONOTONIC);
      }
      const int count = run.FirstRaw(0) + 32768;
      if (expected >= 0 && count != expected) lostScans += (count - expected + kCountModulus) % kCountModulus;
      expected = (count + orvane::forms::kBlockScans) % kCountModulus;
    }
    process = bench::clockSeconds(CLOCK_PROCESS_CPUTIME_ID) - process0;
    wall = bench::clockSeconds(CLOCK_MONOTONIC) - wall0;
    run.CloseCsv();
    run.Stop();
    state.counters["CPU share"] = wall > 0 ? process / wall : 0;
    state.counters["blocks"] = static_cast<double>(blocks);
    state.counters["lost scans"] = static_cast<double>(lostScans);
    state.counters["failed blocks"] = static_cast<double>(failed);
  }
}
BENCHMARK(BM_WdmBoardIntoMonitorRecording)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
