// The one text form of single-precision numbers in the monitor: the CSV
// files, the live boxes and the calibration texts all spell a value alike.
// Values from 1 up to below 1e7 in magnitude keep up to 7 significant
// digits ("3", "1.5", "123456.7"); the rest (between -1 and 1, and 1e7 and
// beyond) are spelled so that they read back to the same single: the
// shortest such text, with its leading zero ("0.045016076", "16777215",
// "1E-05", "1E+30"). "." separates, exponents are written "E+30"; -0 is "0".
#pragma once
#include <cstddef>
#include <string>

namespace orvane::core {

// Room FormatSingle needs at out: the longest text ("-1.1754944E-38") plus
// the slack of its fixed-size copies (up to 19 bytes are stored).
inline constexpr std::size_t kSingleTextMax = 24;

// Writes the value's text at out (room for kSingleTextMax bytes) and
// returns its length.
std::size_t FormatSingle(float value, char* out);
std::string SingleText(float value);

}  // namespace orvane::core
