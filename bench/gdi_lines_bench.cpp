// A full redraw of the monitor's traces: 32 polylines of 1000 points on a
// 1920x1080 surface (the wave graph's budget is 2 ms).
#include <windows.h>
#include <wingdi.h>

#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;
constexpr int kTraces = 32;
constexpr int kPoints = 1000;

std::vector<std::vector<POINT>> traces(double amplitude) {
  std::vector<std::vector<POINT>> out(kTraces, std::vector<POINT>(kPoints));
  const double band = static_cast<double>(kHeight) / kTraces;
  for (int k = 0; k < kTraces; ++k) {
    for (int j = 0; j < kPoints; ++j) {
      const double v = std::sin(j * 0.05 + k) + 0.3 * std::sin(j * 0.71);
      out[k][j] = POINT{j * kWidth / kPoints, static_cast<LONG>(band * (k + 0.5) - v * amplitude * band / 2)};
    }
  }
  return out;
}

struct Surface {
  Surface() : dc(CreateCompatibleDC(nullptr)), bitmap(CreateCompatibleBitmap(dc, kWidth, kHeight)) {
    old = SelectObject(dc, bitmap);
    for (int k = 0; k < kTraces; ++k) pens.push_back(CreatePen(PS_SOLID, 1, RGB(k * 8, 255 - k * 8, 128)));
  }
  ~Surface() {
    SelectObject(dc, GetStockObject(BLACK_PEN));
    for (HPEN p : pens) DeleteObject(p);
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
  }
  HDC dc;
  HBITMAP bitmap;
  HGDIOBJ old;
  std::vector<HPEN> pens;
};

void redraw(benchmark::State& state, double amplitude, int rop) {
  Surface s;
  const auto lines = traces(amplitude);
  HBRUSH background = CreateSolidBrush(RGB(0, 0, 0));
  SetROP2(s.dc, rop);
  const RECT all{0, 0, kWidth, kHeight};
  for (auto _ : state) {
    FillRect(s.dc, &all, background);
    for (int k = 0; k < kTraces; ++k) {
      SelectObject(s.dc, s.pens[k]);
      Polyline(s.dc, lines[k].data(), kPoints);
    }
    benchmark::ClobberMemory();
  }
  DeleteObject(background);
  state.counters["segments/s"] =
      benchmark::Counter(static_cast<double>(state.iterations()) * kTraces * (kPoints - 1), benchmark::Counter::kIsRate);
}

// Flat traces, quiet traces (half a band) and traces filling their band.
void BM_RedrawFlat(benchmark::State& state) { redraw(state, 0.0, R2_COPYPEN); }
void BM_RedrawQuiet(benchmark::State& state) { redraw(state, 0.5, R2_COPYPEN); }
void BM_RedrawFullBand(benchmark::State& state) { redraw(state, 1.0, R2_COPYPEN); }
void BM_RedrawXor(benchmark::State& state) { redraw(state, 1.0, R2_XORPEN); }

// The traces alone, without the erase.
void BM_PolylinesOnly(benchmark::State& state) {
  Surface s;
  const auto lines = traces(1.0);
  for (auto _ : state) {
    for (int k = 0; k < kTraces; ++k) {
      SelectObject(s.dc, s.pens[k]);
      Polyline(s.dc, lines[k].data(), kPoints);
    }
    benchmark::ClobberMemory();
  }
}

// The display's dotted grid and reference lines: level lines across the
// surface and upright ones down it, the gaps painted (OPAQUE).
void BM_DottedGrid(benchmark::State& state) {
  Surface s;
  HPEN dotted = CreatePen(PS_DOT, 1, RGB(0x30, 0x30, 0x30));
  SelectObject(s.dc, dotted);
  for (auto _ : state) {
    for (int y = 8; y < kHeight; y += 16) {
      MoveToEx(s.dc, 0, y, nullptr);
      LineTo(s.dc, kWidth, y);
    }
    for (int x = 192; x < kWidth; x += 192) {
      MoveToEx(s.dc, x, 0, nullptr);
      LineTo(s.dc, x, kHeight);
    }
    benchmark::ClobberMemory();
  }
  SelectObject(s.dc, GetStockObject(BLACK_PEN));
  DeleteObject(dotted);
}

LRESULT CALLBACK plainProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

// The same on a window's context: each call locks the window's surface and
// reports what changed.
void BM_RedrawWindow(benchmark::State& state) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = plainProc;
  wc.lpszClassName = "GdiBenchWindow";
  RegisterClassA(&wc);
  HWND hwnd = CreateWindowExA(0, "GdiBenchWindow", "bench", WS_OVERLAPPEDWINDOW, 0, 0, kWidth, kHeight, nullptr,
                              nullptr, nullptr, nullptr);
  HDC dc = GetDC(hwnd);
  if (dc == nullptr) {
    state.SkipWithError("no window context");
    return;
  }
  std::vector<HPEN> pens;
  for (int k = 0; k < kTraces; ++k) pens.push_back(CreatePen(PS_SOLID, 1, RGB(k * 8, 255 - k * 8, 128)));
  const auto lines = traces(1.0);
  HBRUSH background = CreateSolidBrush(RGB(0, 0, 0));
  const RECT all{0, 0, kWidth, kHeight};
  for (auto _ : state) {
    FillRect(dc, &all, background);
    for (int k = 0; k < kTraces; ++k) {
      SelectObject(dc, pens[k]);
      Polyline(dc, lines[k].data(), kPoints);
    }
  }
  SelectObject(dc, GetStockObject(BLACK_PEN));
  for (HPEN p : pens) DeleteObject(p);
  DeleteObject(background);
  ReleaseDC(hwnd, dc);
  DestroyWindow(hwnd);
}

}  // namespace

BENCHMARK(BM_RedrawWindow)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RedrawFlat)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RedrawQuiet)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RedrawFullBand)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RedrawXor)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PolylinesOnly)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DottedGrid)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
