// Full redraw of the monitor display: 32 traces of 1000 points on a
// 1920x1080 window (target: under 2 ms per redraw); and the live strips of
// a paced board, one scan per pass of the block reader.
#include <benchmark/benchmark.h>

#include <windows.h>
#include <wingdi.h>

#include <platform/window_surface.h>

#include <vector>

#include <vekmath.h>

#include "bench_window.h"

namespace {

// rebuild: 1 = every redraw first rebuilds the points from the ring, as
// the monitor has it during a run.
void BM_DrawWaveGraph(benchmark::State& state) {
  constexpr LONG kChannels = 32;
  constexpr LONG kSpan = 1000;
  HWND window = bench::makeWindow(1920, 1080);
  if (window == nullptr) {
    state.SkipWithError("no window");
    return;
  }
  SHORT list[32];
  for (int c = 0; c < 32; ++c) list[c] = static_cast<SHORT>(c + 1);
  LONG status = 0;
  SelectBoard(-1, 0, "");
  SetTestLength(10000);
  for (LONG c = 0; c < kChannels; ++c) {
    SetTestChannelLength(kSpan, c);
    SetTestSine(1 + c % 4, kSpan, c);
  }
  SetupSampling(kChannels, list, kSpan, 1, 1000, 0, 0, 0, 0, &status);
  MonitorSettings settings{kSpan, 0, 8, 0x00FFFF, 0x808080, 100, 0x404040, 0};
  TraceParams traces[32];
  for (int c = 0; c < 32; ++c) traces[c] = TraceParams{-1, 1.0f, 0x0000FF + c * 0x070300, 0, 4096, 1, 0x303030};
  GridLine lines[128]{};
  for (int i = 0; i < 10; ++i) lines[i] = GridLine{-1, 10.0f * i, PS_DOT, 0x202020};
  SetupWaveGraph(window, &settings, traces, 0);
  SetupWaveGraph_XLINE(window, lines);
  SetupWaveGraph2(static_cast<LONG>(state.range(0)));
  StartSampling(&status);
  std::vector<SHORT> block(kChannels * kSpan);
  ReadBlock(block.data(), kSpan, nullptr, &status);
  if (status != 0) state.SkipWithError("no block");
  for (auto _ : state) DrawWaveGraph();
  state.counters["points/s"] =
      benchmark::Counter(static_cast<double>(state.iterations()) * kChannels * kSpan, benchmark::Counter::kIsRate);
  StopSampling(&status);
  CloseBoard(&status);
  DestroyWindow(window);
}
BENCHMARK(BM_DrawWaveGraph)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// One pass of the block reader per iteration, each bringing one scan of 32
// channels: the strip, its 128 grid lines (four per band, as the monitor
// sets them) and the change reports to a toolkit's hook.
void BM_LiveStrip(benchmark::State& state) {
  constexpr LONG kChannels = 32;
  HWND window = bench::makeWindow(930, 700);
  if (window == nullptr) {
    state.SkipWithError("no window");
    return;
  }
  long long reports = 0;
  PlatSetSurfaceChangedHook(window, [](HWND, const RECT*, void* user) { ++*static_cast<long long*>(user); }, &reports);
  SHORT list[32];
  for (int c = 0; c < 32; ++c) list[c] = static_cast<SHORT>(c + 1);
  LONG status = 0;
  SelectBoard(-1, 0, "");
  SetTestLength(10000);
  for (LONG c = 0; c < kChannels; ++c) SetTestSine(1 + c % 4, 10000, c);
  SetupSampling(kChannels, list, 1000, 1, 1000, 0, 0, 0, 0, &status);
  GridLine lines[128]{};
  for (int i = 0; i < 128; ++i)
    lines[i] = GridLine{-1, static_cast<FLOAT>(100.0 - 100.0 / 128 * i), PS_SOLID, i % 4 == 0 ? 0x808080u : 0xE0E0E0u};
  SetupWaveGraph_XLINE(window, lines);
  MonitorSettings settings{5000, 0xE0FFE0, 5, -1, 0xC0C0C0, 20000, 0, 0};
  TraceParams traces[32];
  for (int c = 0; c < 32; ++c) traces[c] = TraceParams{-1, 1.0f, 0x0000FF * (c % 2), 0, 0, 0, 0xC0C0C0};
  SetupWaveGraph(window, &settings, traces, 0);
  StartSampling(&status);
  std::vector<SHORT> scan(kChannels);
  for (auto _ : state) {
    ReadBlock(scan.data(), 1, nullptr, &status);
    if (status != 0) {
      state.SkipWithError("read failed");
      break;
    }
  }
  state.counters["reports/strip"] = static_cast<double>(reports) / std::max<double>(state.iterations(), 1);
  StopSampling(&status);
  CloseBoard(&status);
  PlatSetSurfaceChangedHook(window, nullptr, nullptr);
  DestroyWindow(window);
}
BENCHMARK(BM_LiveStrip)->Unit(benchmark::kMicrosecond)->MinTime(1.0);

}  // namespace

BENCHMARK_MAIN();
