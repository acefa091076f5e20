// The test-signal exports: sines, cosines and square waves written into the
// simulated board's table, single samples, channel lengths and the pacing.
#include "backends/simulated/test_signals.h"

#include <windows.h>

#include <algorithm>
#include <cmath>
#include <numbers>

#include "vekmath.h"

namespace vekmath {
namespace {

constexpr int32_t kMinPacing = 10000;

bool validColumn(LONG channel) { return channel >= 0 && channel < kTestColumns; }

// Rows 0 to n - 1 that fit in the table.
int32_t rowsFor(LONG n) { return std::clamp<LONG>(n, 0, kTestRows); }

template <class Wave>
void fillColumn(LONG n, LONG channel, Wave wave) {
  if (!validColumn(channel)) return;
  auto& table = testSignals().table;
  const int32_t rows = rowsFor(n);
  for (int32_t i = 0; i < rows; ++i) table[i][channel].store(wave(i), std::memory_order_relaxed);
}

void fillTrig(LONG cycles, LONG n, LONG channel, double (*f)(double)) {
  // Floating point on purpose: 0 cycles gives an infinite period, a flat line.
  const double period = static_cast<double>(n) / static_cast<double>(cycles);
  fillColumn(n, channel, [&](int32_t i) {
    return static_cast<int32_t>(32767.0 * f(i * 2.0 * std::numbers::pi / period) + 32768.0);
  });
}

}  // namespace

TestSignals& testSignals() {
  static TestSignals instance;
  return instance;
}

}  // namespace vekmath

DLL_EXPORT void WINAPI SetTestSine(LONG cycles, LONG n, LONG channel) {
  vekmath::fillTrig(cycles, n, channel, [](double x) { return std::sin(x); });
}

DLL_EXPORT void WINAPI SetTestCosine(LONG cycles, LONG n, LONG channel) {
  vekmath::fillTrig(cycles, n, channel, [](double x) { return std::cos(x); });
}

DLL_EXPORT void WINAPI SetTestSquare(LONG cycles, LONG n, LONG channel) {
  const double half = static_cast<double>(n) / static_cast<double>(cycles) * 0.5;
  int32_t level = 0;
  int64_t toggles = 0;
  vekmath::fillColumn(n, channel, [&](int32_t i) {
    // Multiples of half, not a running sum, so rounding does not drift.
    if (i >= static_cast<double>(toggles + 1) * half) {
      level = 65535 - level;
      ++toggles;
    }
    return level;
  });
}

DLL_EXPORT void WINAPI SetTestChannelLength(LONG length, LONG channel) {
  using namespace vekmath;
  // 0 would divide by zero in the thread, more than the rows read past the table.
  if (!validColumn(channel) || length < 1 || length > kTestRows) return;
  testSignals().length[channel].store(length);
}

DLL_EXPORT void WINAPI SetTestSample(LONG value, LONG row, LONG channel) {
  using namespace vekmath;
  if (!validColumn(channel) || row < 0 || row >= kTestRows) return;
  testSignals().table[row][channel].store(value, std::memory_order_relaxed);
}

DLL_EXPORT void WINAPI SetTestLength(LONG count) {
  vekmath::testSignals().pacing.store(std::max<LONG>(count, vekmath::kMinPacing));
}
