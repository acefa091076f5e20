// Test waves of a whole number of periods. The period is kept in double so
// that n samples hold exactly the asked number of periods.
#include <cmath>
#include <numbers>

#include "arrays/element_loop.h"
#include "vekmath.h"

using vekmath::single;

namespace {

template <typename Wave>
void fillPeriodic(FLOAT* dst, LONG cycles, LONG n, Wave wave) {
  if (dst == nullptr || n < 1) return;
  const double period = static_cast<double>(n) / cycles;
  for (LONG i = 0; i < n; ++i) dst[i] = single(wave(i * 2.0 * std::numbers::pi / period));
}

// Two alternating level lengths, starting low; at most one toggle per
// sample, so a zero or negative length cannot stall the loop.
void fillPulses(FLOAT* dst, LONG n, double lowLength, double highLength) {
  bool high = false;
  double nextSwitch = lowLength;
  for (LONG i = 0; i < n; ++i) {
    if (i >= nextSwitch) {
      high = !high;
      nextSwitch += high ? highLength : lowLength;
    }
    dst[i] = high ? 1.0f : 0.0f;
  }
}

}  // namespace

DLL_EXPORT void WINAPI GenerateSine(FLOAT* dst, LONG cycles, LONG n) {
  fillPeriodic(dst, cycles, n, [](double phase) { return std::sin(phase); });
}

DLL_EXPORT void WINAPI GenerateCosine(FLOAT* dst, LONG cycles, LONG n) {
  fillPeriodic(dst, cycles, n, [](double phase) { return std::cos(phase); });
}

DLL_EXPORT void WINAPI GenerateSquare(FLOAT* dst, LONG cycles, LONG n) {
  if (dst == nullptr || n < 1) return;
  const double half = static_cast<double>(n) / cycles / 2;
  fillPulses(dst, n, half, half);
}

DLL_EXPORT void WINAPI GenerateSquare2(FLOAT* dst, LONG cycles, LONG n, const FLOAT* duty) {
  if (dst == nullptr || duty == nullptr || n < 1) return;
  const double period = static_cast<double>(n) / cycles;
  fillPulses(dst, n, period * (1.0 - *duty), period * *duty);
}
