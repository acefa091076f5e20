#include "backends/serial/line_parser.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "acquisition/ring.h"
#include "acquisition/sampling_config.h"

namespace vekmath {
namespace {

// The length of the text before its first CR LF, or n when it has none.
std::size_t lineEnd(const char* text, std::size_t n) {
  for (std::size_t i = 0; i + 1 < n; ++i) {
    if (text[i] == '\r' && text[i + 1] == '\n') return i;
  }
  return n;
}

}  // namespace

void LineParser::clear() {
  fill_ = 0;
  skippingTail_ = false;
  dropped_.store(0);
}

void LineParser::added(std::size_t n) { fill_ = std::min(fill_ + n, kReceiveBytes); }

void LineParser::removeFront(std::size_t n) {
  if (n == 0) return;
  std::memmove(buffer_, buffer_ + n, fill_ - n);
  fill_ -= n;
}

bool LineParser::splitLine(const char* text, std::size_t length, int32_t channels, uint16_t* scan) {
  std::memcpy(line_, text, length);
  line_[length] = '\0';
  int32_t values = 0;
  char* piece = line_;
  for (;;) {
    char* comma = std::strchr(piece, ',');
    if (comma != nullptr) *comma = '\0';
    // An empty piece is no value: "1,,2" has two.
    if (*piece != '\0') {
      if (values == channels) return false;
      scan[values++] = static_cast<uint16_t>(std::strtol(piece, nullptr, 10));
    }
    if (comma == nullptr) break;
    piece = comma + 1;
  }
  return values == channels;
}

int32_t LineParser::takeScans(uint16_t* dest, int32_t channels, int32_t maxScans) {
  if (channels <= 0 || channels > static_cast<int32_t>(kMaxChannels)) return 0;
  int32_t scans = 0;
  uint16_t scan[kMaxChannels];
  std::size_t used = 0;  // bytes of the buffer done with
  while (scans < maxScans) {
    const char* text = buffer_ + used;
    const std::size_t rest = fill_ - used;
    const std::size_t length = lineEnd(text, rest);
    if (length == rest) {
      // No line end yet. Text that can no longer make a line is dropped
      // now, all but its last byte, which may be the CR of the line end.
      const std::size_t content = rest - (rest > 0 && text[rest - 1] == '\r' ? 1 : 0);
      if (content >= kLineBytes) {
        if (!skippingTail_) dropped_.fetch_add(1, std::memory_order_relaxed);
        skippingTail_ = true;
        used = fill_ - 1;
      }
      break;
    }
    if (skippingTail_ || length >= kLineBytes) {
      if (!skippingTail_) dropped_.fetch_add(1, std::memory_order_relaxed);
      skippingTail_ = false;
    } else if (length > 0) {  // an empty line is no scan
      if (splitLine(text, length, channels, scan)) {
        uint16_t* at = dest + static_cast<std::size_t>(scans) * channels;
        for (int32_t c = 0; c < channels; ++c) storeSample(at[c], scan[c]);
        ++scans;
      } else {
        dropped_.fetch_add(1, std::memory_order_relaxed);
      }
    }
    used += length + 2;
  }
  removeFront(used);
  return scans;
}

}  // namespace vekmath
