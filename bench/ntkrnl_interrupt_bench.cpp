// Interrupt to completed request on the kernel layer's threaded machine: a
// card raises its line, the worker delivers it to the test driver's ISR,
// whose DPC completes the wait that a blocked thread sent; the time runs
// until that thread is back from DeviceIoControl. Reports the median and
// the 99th percentile.
#include <benchmark/benchmark.h>
#include <ntkrnl/ntkrnl_host.h>
#include <platform/hardware_bus.h>
#include <unistd.h>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "test_card.h"
#include "test_driver.h"

namespace {

using Clock = std::chrono::steady_clock;

uint64_t nowNs() {
  return static_cast<uint64_t>(
      std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch()).count());
}

// A registry of its own with the test driver's service, the card plugged
// and the driver running on the threaded machine.
struct Machine {
  std::string dir;
  std::shared_ptr<ntktest::TestCard> card = std::make_shared<ntktest::TestCard>(0x300);
  HANDLE device = INVALID_HANDLE_VALUE;
  bool ready = false;

  Machine() {
    std::string pattern = (std::filesystem::temp_directory_path() / "ntkrnl_bench_XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) return;
    dir = pattern;
    ::setenv("ORVANE_REGISTRY", (dir + "/registry.sqlite").c_str(), 1);
    HKEY key = nullptr;
    RegCreateKeyExA(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Services\\NtkTestDrv", 0, nullptr, 0,
                    KEY_ALL_ACCESS, nullptr, &key, nullptr);
    RegSetValueExA(key, "ImagePath", 0, REG_SZ, reinterpret_cast<const BYTE*>("ntktestdrv"), 11);
    RegCloseKey(key);
    plat::bus::SetClockMode(plat::bus::ClockMode::Threaded);
    plat::bus::Plug({0, 3, 0}, 5, card);
    if (NtkStartDriver(ntktest::kService, nullptr) != 0) return;
    device = CreateFileA(ntktest::kDevicePath, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ready = device != INVALID_HANDLE_VALUE;
  }
  ~Machine() {
    if (device != INVALID_HANDLE_VALUE) CloseHandle(device);
    NtkUnloadDriver(ntktest::kService, nullptr);
    plat::bus::UnplugAll();
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
  }

  bool waiting() {
    ULONG value = 0;
    DWORD returned = 0;
    DeviceIoControl(device, ntktest::kWaiting, nullptr, 0, &value, sizeof value, &returned, nullptr);
    return value != 0;
  }
};

void BM_InterruptToCompletedRequest(benchmark::State& state) {
  Machine machine;
  if (!machine.ready) {
    state.SkipWithError("the test driver did not start");
    return;
  }
  std::atomic<uint64_t> woken{0};
  std::atomic<uint64_t> wakeups{0};
  std::atomic<bool> stop{false};
  std::thread waiter([&] {
    while (!stop.load()) {
      ULONG served = 0;
      DWORD returned = 0;
      DeviceIoControl(machine.device, ntktest::kWait, nullptr, 0, &served, sizeof served, &returned, nullptr);
      woken.store(nowNs());
      wakeups.fetch_add(1);
    }
  });
  std::vector<double> latencies;
  for (auto _ : state) {
    while (!machine.waiting()) std::this_thread::yield();
    const uint64_t before = wakeups.load();
    const uint64_t raised = nowNs();
    machine.card->Raise();
    while (wakeups.load() == before) std::this_thread::yield();
    const double seconds = static_cast<double>(woken.load() - raised) * 1e-9;
    latencies.push_back(seconds);
    state.SetIterationTime(seconds);
  }
  stop = true;
  while (!machine.waiting()) std::this_thread::yield();
  machine.card->Raise();
  waiter.join();
  std::sort(latencies.begin(), latencies.end());
  if (!latencies.empty()) {
    state.counters["median_us"] = latencies[latencies.size() / 2] * 1e6;
    state.counters["p99_us"] = latencies[std::min(latencies.size() - 1, latencies.size() * 99 / 100)] * 1e6;
  }
}
BENCHMARK(BM_InterruptToCompletedRequest)->UseManualTime()->Iterations(2000)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
