// The header of a WAVE file as the multimedia file I/O finds it.
#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <optional>

namespace vekmath {

// The format chunk's record, as it lies in the file (little-endian, packed).
#pragma pack(push, 1)
struct WaveFormat {
  uint16_t formatTag;
  uint16_t channels;
  uint32_t samplesPerSec;
  uint32_t avgBytesPerSec;
  uint16_t blockAlign;
  uint16_t bitsPerSample;
  uint16_t extraSize;
};
#pragma pack(pop)
static_assert(sizeof(WaveFormat) == 18);
static_assert(offsetof(WaveFormat, samplesPerSec) == 4 && offsetof(WaveFormat, blockAlign) == 12 &&
              offsetof(WaveFormat, extraSize) == 16);

struct WaveHeader {
  WaveFormat format;
  uint32_t dataSize;
  uint32_t dataOffset;
};

// Nothing for a NULL path or any file the exports refuse.
std::optional<WaveHeader> readWaveHeader(const char* path);

}  // namespace vekmath
