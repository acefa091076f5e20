// The text form of converted blocks in the monitor's CSV files: each value
// in the monitor's one single-precision spelling (core/single_text.h),
// followed by a comma; CR LF ends a scan's line.
#pragma once
#include <cstddef>
#include <string>

#include "core/single_text.h"

namespace orvane::forms {

using core::FormatSingle;
using core::kSingleTextMax;
using core::SingleText;

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
