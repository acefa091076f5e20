// Background input through the older library, its driver and the simulated
// board on the kernel layer's threaded machine: one scan per pacer tick,
// each taken by the driver's interrupt routine. The argument is the pacer
// period in microseconds (time base 1 us); 2 is the board's highest clock.
// Reports the scans per second the run sustained and the scans it lost:
// the pacer ticks of the machine's time from the start to the report of the
// last scan, less the scans taken. The library reports within a
// millisecond or two of the last scan; the ticks of that delay are not
// counted as lost. (The driver's interrupt step resets the counter flags
// before it looks at their overflow bit, so ticks that fall due before it
// runs are lost without the run ending; a run that overruns during a scan
// ends early.)
#include <benchmark/benchmark.h>
#include <morvel.h>
#include <ntkrnl/ntkrnl_host.h>
#include <platform/hardware_bus.h>
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <vector>

#include "support/driver_setup.h"

namespace {

using Clock = std::chrono::steady_clock;

// A board started by its driver on the threaded machine, opened by the
// library.
struct Machine {
  std::unique_ptr<morvel00test::FreshMachine> fresh = std::make_unique<morvel00test::FreshMachine>();
  std::vector<std::shared_ptr<morvelboard::MorvelBoard>> boards;
  XanHandle handle = 0;
  bool started = false;

  Machine() {
    boards = morvel00test::Install({{{morvel00test::DefaultBoard()}}});
    plat::bus::SetClockMode(plat::bus::ClockMode::Threaded);
    started = NtkStartDriver(morvel00test::kService, nullptr) == STATUS_SUCCESS;
    if (started && XanOpen(&handle, 20, 1) != 0) handle = 0;
  }
  ~Machine() {
    if (handle != 0) XanClose(handle);
    if (started) NtkUnloadDriver(morvel00test::kService, nullptr);
    plat::bus::SetClockMode(plat::bus::ClockMode::Manual);
    boards.clear();
    fresh.reset();
  }
};

bool ended(uint16_t state) {
  return state == XAN_STATE_FINISHED || state == XAN_STATE_DATA_READY || state == XAN_STATE_ERROR;
}

void BM_BackgroundInput(benchmark::State& state) {
  const auto periodUs = static_cast<uint16_t>(state.range(0));
  // About a fifth of a second of scans per run, at least 20.
  const uint32_t scans = std::max(200'000u / periodUs, 20u);
  Machine machine;
  if (machine.handle == 0) {
    state.SkipWithError("the board did not open through the driver");
    return;
  }
  uint16_t list[2] = {0, 1};
  std::vector<uint16_t> data(size_t{2} * scans);
  // Ticks of the report's delay, up to 2 ms, and the start's.
  const double forgiven = 2000.0 / periodUs + 1;
  double taken = 0, lost = 0, seconds = 0;
  for (auto _ : state) {
    XanInpBackParams p{data.data(), list, 2, 0, scans, 1, periodUs};
    const auto begin = Clock::now();
    const uint64_t boardBegin = plat::bus::Now();
    if (XanInpBack(machine.handle, 0, &p, 0, 0, 0, 0) != 0) {
      state.SkipWithError("the background input was refused");
      return;
    }
    uint16_t board = XAN_STATE_STARTED;
    uint32_t count = 0;
    // A run that never ends counts as lost from its last report on.
    const auto deadline = begin + std::chrono::seconds(10);
    do {
      Sleep(1);
      XanSts(machine.handle, &board, &count, nullptr);
    } while ((!ended(board) || (board == XAN_STATE_FINISHED && count < scans)) && Clock::now() < deadline);
    const double elapsed = std::chrono::duration<double>(Clock::now() - begin).count();
    const double due = static_cast<double>(plat::bus::Now() - boardBegin) / 1000.0 / periodUs;
    XanStop(machine.handle);
    state.SetIterationTime(elapsed);
    seconds += elapsed;
    taken += count;
    lost += std::max(0.0, due - count - forgiven);
  }
  state.counters["scans_per_s"] = seconds > 0 ? taken / seconds : 0;
  state.counters["lost_scans"] = lost;
}
BENCHMARK(BM_BackgroundInput)->Arg(2)->Arg(100)->Arg(1000)->Arg(10000)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
