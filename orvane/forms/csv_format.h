// The text form of converted blocks in the monitor's CSV files: each value
// as the toolkit writes a single-precision number (up to 7 significant
// digits, "." as separator, no quotes), followed by a comma; CR LF ends a
// scan's line. Files recorded before keep this exact form.
#pragma once
#include <cstddef>
#include <string>

namespace orvane::forms {

// Room FormatSingle needs at out: the longest text ("-1.234567E-38") plus
// the slack of its fixed-size copies.
inline constexpr std::size_t kSingleTextMax = 24;

// Writes the value's text at out (room for kSingleTextMax bytes), returns its
// length. Whole numbers have no decimal point ("3"), exponents are written
// "1E+30", "1.5E-07"; -0 is "0".
std::size_t FormatSingle(float value, char* out);
std::string SingleText(float value);

// Room FormatCsvBlock needs for a block of these counts; 0 when a count is
// not positive.
std::size_t CsvBlockBound(int channels, int scans);

// Writes one block at out (room for CsvBlockBound bytes) and returns its
// length: scans lines of channels values, taken from a column-major block
// (value of scan j, channel c at data[j + scans * c]). Bad counts or no data
// write nothing.
std::size_t FormatCsvBlock(char* out, const float* data, int channels, int scans);

// The same block appended to text.
void AppendCsvBlock(std::string& text, const float* data, int channels, int scans);

}  // namespace orvane::forms
