// Text forms of the waveform's results: singles as the monitor spells them,
// doubles with up to 15 significant digits, and the comma joins.
#pragma once
#include <cstdint>
#include <string>

#include "core/single_text.h"

namespace orvane::core::wave {

std::string DoubleText(double value);

inline std::string NumberText(float value) { return SingleText(value); }
inline std::string NumberText(double value) { return DoubleText(value); }
inline std::string NumberText(int32_t value) { return std::to_string(value); }

template <class... T>
std::string Joined(const T&... values) {
  std::string out;
  ((out += (out.empty() ? "" : ","), out += NumberText(values)), ...);
  return out;
}

}  // namespace orvane::core::wave
