#include "recording/frame_time_file.h"

#include <windows.h>

#include <platform/host_files.h>

#include <vector>

namespace vekmath {

void writeFrameTimeFile(const std::string& path, const int32_t* positions, int32_t count, void (*wait)(uint32_t)) {
  std::vector<uint8_t> bytes;
  bytes.reserve(static_cast<size_t>(count > 0 ? count : 0) * 4);
  for (int32_t i = 0; i < count; ++i) {
    const uint32_t v = static_cast<uint32_t>(positions[i]);
    for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<uint8_t>(v >> shift));
  }
  wait(100);
  // Whole or not at all: a full disk keeps the table written before.
  plat::WriteWholeFile(path.c_str(), bytes.data(), bytes.size());
  wait(100);
  wait(100);
}

}  // namespace vekmath
