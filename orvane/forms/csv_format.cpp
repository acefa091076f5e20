#include "csv_format.h"

namespace orvane::forms {

std::size_t CsvBlockBound(int channels, int scans) {
  if (channels <= 0 || scans <= 0) return 0;
  return static_cast<std::size_t>(scans) * (static_cast<std::size_t>(channels) * (kSingleTextMax + 1) + 2);
}

std::size_t FormatCsvBlock(char* out, const float* data, int channels, int scans) {
  if (out == nullptr || data == nullptr || CsvBlockBound(channels, scans) == 0) return 0;
  const std::size_t stride = static_cast<std::size_t>(scans);
  char* p = out;
  for (std::size_t j = 0; j < stride; ++j) {
    const float* value = data + j;
    for (int c = 0; c < channels; ++c, value += stride) {
      p += FormatSingle(*value, p);
      *p++ = ',';
    }
    *p++ = '\r';
    *p++ = '\n';
  }
  return static_cast<std::size_t>(p - out);
}

void AppendCsvBlock(std::string& text, const float* data, int channels, int scans) {
  const std::size_t bound = CsvBlockBound(channels, scans);
  if (data == nullptr || bound == 0) return;
  const std::size_t at = text.size();
  text.resize(at + bound);
  text.resize(at + FormatCsvBlock(text.data() + at, data, channels, scans));
}

}  // namespace orvane::forms
