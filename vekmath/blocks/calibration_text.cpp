// The calibration file must read back on a machine whose locale writes a
// decimal comma, so neither direction may go through the process locale.
#include "blocks/calibration_text.h"

#include <locale.h>

#include <charconv>
#include <cstdlib>

namespace vekmath {
namespace {

locale_t cLocale() {
  // Made once and kept for the life of the process.
  static const locale_t locale = ::newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
  return locale;
}

}  // namespace

std::string formatCalibrationNumber(float value) {
  // The widest single in fixed form has 39 digits before the point.
  char text[64];
  auto result = std::to_chars(text, text + sizeof text, static_cast<double>(value), std::chars_format::fixed, 6);
  return std::string(text, result.ptr);
}

float parseCalibrationNumber(const char* text) {
  if (text == nullptr) return 0.0f;
  double value = cLocale() != static_cast<locale_t>(nullptr) ? ::strtod_l(text, nullptr, cLocale()) : 0.0;
  return static_cast<float>(value);
}

}  // namespace vekmath
