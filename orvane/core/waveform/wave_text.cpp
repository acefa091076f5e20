#include "core/waveform/wave_text.h"

#include <cmath>
#include <cstdio>

namespace orvane::core::wave {

std::string DoubleText(double value) {
  if (value == 0.0) return "0";  // -0 too
  char text[40];
  std::snprintf(text, sizeof text, "%.15G", value);
  return text;
}

}  // namespace orvane::core::wave
