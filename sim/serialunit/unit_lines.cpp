// The units' known signal and its line text.
#include <string>

#include "serialunit.h"

namespace serialunit {

int valueOf(Protocol protocol, int64_t line, int channel) {
  if (protocol == Protocol::Commands) return static_cast<int>((line + 512 * channel) % 8192) - 4096;
  return static_cast<int>((line + 256 * channel) % 4096);
}

std::string lineText(Protocol protocol, int64_t line, int channels) {
  std::string text;
  for (int c = 0; c < channels; ++c) {
    if (c > 0) text += ',';
    text += std::to_string(valueOf(protocol, line, c));
  }
  text += "\r\n";
  return text;
}

}  // namespace serialunit
