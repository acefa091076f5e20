#pragma once
#include <cstdint>
#include <string>

namespace vekmath {

// Writes count positions as 32-bit little-endian values to a new file at
// path (replacing one there); a file that cannot be created is skipped. The
// recording's waits go between the steps.
void writeFrameTimeFile(const std::string& path, const int32_t* positions, int32_t count, void (*wait)(uint32_t));

}  // namespace vekmath
