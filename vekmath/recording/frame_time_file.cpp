#include "recording/frame_time_file.h"

#include <windows.h>

#include <vector>

namespace vekmath {

void writeFrameTimeFile(const std::string& path, const int32_t* positions, int32_t count, void (*wait)(uint32_t)) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  wait(100);
  if (file == INVALID_HANDLE_VALUE) return;
  std::vector<uint8_t> bytes;
  bytes.reserve(static_cast<size_t>(count > 0 ? count : 0) * 4);
  for (int32_t i = 0; i < count; ++i) {
    const uint32_t v = static_cast<uint32_t>(positions[i]);
    for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<uint8_t>(v >> shift));
  }
  DWORD written = 0;
  if (!bytes.empty()) WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  wait(100);
  CloseHandle(file);
  wait(100);
}

}  // namespace vekmath
