// Cost of the message queue: a post read back on the same thread (the
// DoEvents pattern), and a send answered by a window on another thread.
#include <windows.h>
#include <benchmark/benchmark.h>

#include <future>
#include <thread>

namespace {

LRESULT CALLBACK echoProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_USER) return static_cast<LRESULT>(wParam) + 1;
  if (message == WM_DESTROY) PostQuitMessage(0);
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

const char* benchClass() {
  static const ATOM atom = [] {
    WNDCLASSA wc{};
    wc.lpfnWndProc = echoProc;
    wc.lpszClassName = "PlatBenchWindow";
    return RegisterClassA(&wc);
  }();
  return atom ? "PlatBenchWindow" : nullptr;
}

void BM_PostPeekRoundTrip(benchmark::State& state) {
  HWND hwnd = CreateWindowExA(0, benchClass(), "", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  MSG msg;
  for (auto _ : state) {
    PostMessageA(hwnd, WM_USER, 1, 2);
    if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      state.SkipWithError("the posted message was not there");
      break;
    }
    benchmark::DoNotOptimize(msg.wParam);
  }
  DestroyWindow(hwnd);
}
BENCHMARK(BM_PostPeekRoundTrip)->Unit(benchmark::kMicrosecond);

void BM_CrossThreadSend(benchmark::State& state) {
  std::promise<HWND> made;
  auto ready = made.get_future();
  std::thread owner([made = std::move(made)]() mutable {
    made.set_value(CreateWindowExA(0, benchClass(), "", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr));
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
  });
  HWND hwnd = ready.get();
  WPARAM value = 0;
  for (auto _ : state) {
    LRESULT result = SendMessageA(hwnd, WM_USER, value, 0);
    if (result != static_cast<LRESULT>(value) + 1) {
      state.SkipWithError("wrong answer from the window thread");
      break;
    }
    ++value;
  }
  PostMessageA(hwnd, WM_CLOSE, 0, 0);
  owner.join();
}
BENCHMARK(BM_CrossThreadSend)->UseRealTime()->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
