// Full redraw through the single drawing target: axes with grid and labels,
// then 32 series of 1000 points stacked in one 1920 x 1080 window, as the
// monitor's waveform graphs draw them. Per style: 0 lines, 2 steps.
#include <benchmark/benchmark.h>

#include <windows.h>
#include <wingdi.h>

#include <cmath>
#include <vector>

#include <vekmath.h>

#include "bench_window.h"

namespace {

void BM_DrawEngineRedraw(benchmark::State& state) {
  constexpr LONG kSeries = 32;
  constexpr LONG kPoints = 1000;
  HWND window = bench::makeWindow(1920, 1080);
  if (window == nullptr) {
    state.SkipWithError("no window");
    return;
  }
  HDC dc = GetDC(window);
  std::vector<std::vector<FLOAT>> series(kSeries, std::vector<FLOAT>(kPoints));
  for (LONG s = 0; s < kSeries; ++s)
    for (LONG i = 0; i < kPoints; ++i) series[s][i] = 0.4f * std::sin(0.01f * (s + 1) * i);
  const LONG style[6] = {RGB(255, 255, 255), RGB(250, 250, 240), RGB(200, 200, 200), 0, 0, 0};
  const LONG waveStyle = static_cast<LONG>(state.range(0));
  SetDrawTarget(window, dc);
  SetDrawArea(60, 20, 20, 40);
  SetDrawRange(0.0f, 0.0f, static_cast<FLOAT>(kPoints), static_cast<FLOAT>(kSeries));
  for (auto _ : state) {
    DrawAxes(100.0f, 1.0f, 0.0f, 0.0f, -4, 4, 2, 4, PS_DOT, style);
    for (LONG s = 0; s < kSeries; ++s) {
      SetPen(PS_SOLID, RGB(s * 7, 0, 255 - s * 7));
      DrawWave(series[s].data(), kPoints, waveStyle, 0.0f, s + 0.5f);
    }
  }
  state.counters["points/s"] =
      benchmark::Counter(static_cast<double>(state.iterations()) * kSeries * kPoints, benchmark::Counter::kIsRate);
  ReleaseDC(window, dc);
  DestroyWindow(window);
}
BENCHMARK(BM_DrawEngineRedraw)->Arg(0)->Arg(2)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
