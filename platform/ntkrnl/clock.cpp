// The machine's clock: the manual mode moves only in Advance; the threaded
// mode has a worker follow the monotonic clock, telling the cards the time
// every pump period and running due timers, interrupt lines and DPCs.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "machine.h"

namespace ntk {

namespace {

using Steady = std::chrono::steady_clock;
using plat::bus::ClockMode;

// How often the worker tells the cards the time while any is plugged.
constexpr uint64_t kPumpNs = 1'000'000;

struct Clock {
  std::mutex mutex;
  std::condition_variable wake;
  ClockMode mode = ClockMode::Threaded;
  std::atomic<uint64_t> now{0};
  std::thread worker;
  bool stop = false;
  bool kicked = false;
  bool closing = false;  // the process ends: no new worker
  Steady::time_point base;
  uint64_t baseNs = 0;
  std::mutex advanceMutex;  // one Advance at a time
};

thread_local bool t_onWorker = false;

Clock& clock() {
  static auto* c = new Clock;  // lives through static destruction
  return *c;
}

uint64_t realNow(const Clock& c) {
  auto elapsed = std::chrono::duration_cast<std::chrono::nanoseconds>(Steady::now() - c.base).count();
  return c.baseNs + static_cast<uint64_t>(elapsed > 0 ? elapsed : 0);
}

void workerLoop() {
  t_onWorker = true;
  Clock& c = clock();
  std::unique_lock<std::mutex> lock(c.mutex);
  while (!c.stop) {
    c.kicked = false;
    lock.unlock();
    runAt(realNow(c));
    std::optional<uint64_t> due = earliestTimer();
    lock.lock();
    if (c.stop) break;
    uint64_t at = realNow(c);
    uint64_t wakeNs = due ? *due : UINT64_MAX;
    if (!pluggedCards().empty()) wakeNs = std::min(wakeNs, at + kPumpNs);
    auto stopped = [&] { return c.stop || c.kicked; };
    if (wakeNs == UINT64_MAX) {
      c.wake.wait(lock, stopped);
    } else if (wakeNs > at) {
      c.wake.wait_until(lock, c.base + std::chrono::nanoseconds(wakeNs - c.baseNs), stopped);
    }
  }
}

// Needs c.mutex.
void startWorkerLocked(Clock& c) {
  if (c.worker.joinable() || c.closing || c.mode != ClockMode::Threaded) return;
  c.stop = false;
  c.base = Steady::now();
  c.baseNs = c.now.load();
  c.worker = std::thread(workerLoop);
}

void stopWorker(Clock& c) {
  std::thread worker;
  {
    std::lock_guard<std::mutex> lock(c.mutex);
    c.stop = true;
    worker = std::move(c.worker);
  }
  c.wake.notify_all();
  if (worker.joinable() && worker.get_id() != std::this_thread::get_id()) worker.join();
  if (worker.joinable()) worker.detach();
}

// Ends the worker before the library goes away.
struct WorkerStopper {
  ~WorkerStopper() {
    Clock& c = clock();
    {
      std::lock_guard<std::mutex> lock(c.mutex);
      c.closing = true;
    }
    stopWorker(c);
  }
} workerStopper;

}  // namespace

uint64_t now() { return clock().now.load(std::memory_order_acquire); }

void kick() {
  // The worker looks for new work itself before it sleeps.
  if (t_onWorker) return;
  Clock& c = clock();
  {
    std::lock_guard<std::mutex> lock(c.mutex);
    if (c.mode != ClockMode::Threaded) return;
    startWorkerLocked(c);
    c.kicked = true;
  }
  c.wake.notify_one();
}

void runAt(uint64_t nowNs) {
  Clock& c = clock();
  uint64_t previous = c.now.load();
  while (nowNs > previous && !c.now.compare_exchange_weak(previous, nowNs)) {
  }
  const uint64_t at = c.now.load();
  ensureInstalled();
  advanceCards(at);
  noteLinesChanged();
  for (;;) {
    serviceLines();
    bool busy = fireDueTimers(at);
    busy = runQueuedDpcs() || busy;
    if (!busy && !linesPending()) break;
  }
}

}  // namespace ntk

namespace plat::bus {

void SetClockMode(ClockMode mode) {
  ntk::Clock& c = ntk::clock();
  {
    std::lock_guard<std::mutex> lock(c.mutex);
    if (c.mode == mode) return;
    c.mode = mode;
  }
  if (mode == ClockMode::Manual) {
    ntk::stopWorker(c);
  } else {
    ntk::kick();
  }
}

ClockMode GetClockMode() {
  ntk::Clock& c = ntk::clock();
  std::lock_guard<std::mutex> lock(c.mutex);
  return c.mode;
}

uint64_t Now() { return ntk::now(); }

void Advance(uint64_t nanoseconds) {
  ntk::Clock& c = ntk::clock();
  if (GetClockMode() != ClockMode::Manual) return;
  std::lock_guard<std::mutex> serial(c.advanceMutex);
  const uint64_t start = ntk::now();
  const uint64_t target = nanoseconds > UINT64_MAX - start ? UINT64_MAX : start + nanoseconds;
  // Step from one due timer to the next, so that cards see every moment at
  // which a driver is woken.
  for (;;) {
    uint64_t step = target;
    if (auto due = ntk::earliestTimer(); due && *due < target) step = std::max(*due, ntk::now());
    ntk::runAt(step);
    if (step >= target) break;
  }
}

}  // namespace plat::bus

NTKRNL_API NTSTATUS NTAPI KeDelayExecutionThread(KPROCESSOR_MODE, BOOLEAN, PLARGE_INTEGER Interval) {
  if (Interval == nullptr) return STATUS_INVALID_PARAMETER;
  if (plat::bus::GetClockMode() != plat::bus::ClockMode::Threaded) return STATUS_SUCCESS;
  const LONGLONG units = Interval->QuadPart;
  const uint64_t magnitude = units < 0 ? static_cast<uint64_t>(-(units + 1)) + 1 : static_cast<uint64_t>(units);
  const uint64_t hundreds = magnitude > UINT64_MAX / 100 ? UINT64_MAX : magnitude * 100;
  uint64_t ns = hundreds;
  if (units >= 0) ns = hundreds > ntk::now() ? hundreds - ntk::now() : 0;
  std::this_thread::sleep_for(std::chrono::nanoseconds(static_cast<int64_t>(std::min<uint64_t>(ns, INT64_MAX))));
  return STATUS_SUCCESS;
}
