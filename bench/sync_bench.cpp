// Cost of handing control to another thread and back through two
// auto-reset events: the pattern of a request thread and its worker.
#include <windows.h>
#include <benchmark/benchmark.h>

#include <atomic>

namespace {

struct PingPong {
  HANDLE ping = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  HANDLE pong = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  std::atomic<bool> stop{false};
  ~PingPong() {
    CloseHandle(ping);
    CloseHandle(pong);
  }
};

DWORD WINAPI echo(LPVOID raw) {
  auto* pair = static_cast<PingPong*>(raw);
  for (;;) {
    if (WaitForSingleObject(pair->ping, 1000) != WAIT_OBJECT_0) continue;
    if (pair->stop.load()) return 0;
    SetEvent(pair->pong);
  }
}

void BM_EventRoundTrip(benchmark::State& state) {
  PingPong pair;
  HANDLE thread = CreateThread(nullptr, 0, echo, &pair, 0, nullptr);
  for (auto _ : state) {
    SetEvent(pair.ping);
    if (WaitForSingleObject(pair.pong, 5000) != WAIT_OBJECT_0) {
      state.SkipWithError("the echo thread did not answer");
      break;
    }
  }
  pair.stop = true;
  SetEvent(pair.ping);
  WaitForSingleObject(thread, 5000);
  CloseHandle(thread);
}
BENCHMARK(BM_EventRoundTrip)->UseRealTime()->Unit(benchmark::kMicrosecond);

void BM_CriticalSectionUncontended(benchmark::State& state) {
  CRITICAL_SECTION section;
  InitializeCriticalSection(&section);
  for (auto _ : state) {
    EnterCriticalSection(&section);
    LeaveCriticalSection(&section);
  }
  DeleteCriticalSection(&section);
}
BENCHMARK(BM_CriticalSectionUncontended);

}  // namespace

BENCHMARK_MAIN();
