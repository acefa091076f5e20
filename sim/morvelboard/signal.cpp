#include <algorithm>
#include <cmath>
#include <numbers>

#include "morvelboard.h"

namespace morvelboard {

Waveform DefaultWaveform(unsigned channel) {
  Waveform w;
  w.periodNs = 1'000'000ull * (channel + 1);
  return w;
}

uint16_t SignalValue(const Waveform& wave, unsigned bits, uint64_t ns) {
  const uint64_t period = wave.periodNs == 0 ? 1 : wave.periodNs;
  const double phase = static_cast<double>(ns % period) / static_cast<double>(period);
  double shape = 0;
  switch (wave.shape) {
    case Waveform::Shape::Constant:
      break;
    case Waveform::Shape::Sine:
      shape = std::sin(2 * std::numbers::pi * phase);
      break;
    case Waveform::Shape::Ramp:
      shape = 2 * phase - 1;
      break;
    case Waveform::Shape::Square:
      shape = phase < 0.5 ? 1 : -1;
      break;
  }
  const double top = static_cast<double>((1u << bits) - 1);
  const double counts = std::round((wave.offset + wave.amplitude * shape) * top);
  return static_cast<uint16_t>(std::clamp(counts, 0.0, top));
}

}  // namespace morvelboard
