// Rows of a captured 32-bit picture packed as a BMP file holds them at 1,
// 4, 8 (through a colour table), 16 (5-5-5), 24 or 32 bits per pixel.
#pragma once
#include <windows.h>
#include <wingdi.h>

#include <cstdint>
#include <vector>

namespace vekmath {

// Bytes of one file row, padded to 4.
inline uint32_t bmpRowBytes(int bits, LONG width) {
  return static_cast<uint32_t>((static_cast<int64_t>(bits) * width + 31) / 32 * 4);
}

// The image bytes from 32-bit BGRA rows (stride bytes apart, in the order
// the file keeps them); palette holds 2^bits entries for bits <= 8.
std::vector<uint8_t> packBmpRows(const uint8_t* rows, ptrdiff_t stride, LONG width, LONG height, int bits,
                                 const std::vector<RGBQUAD>& palette);

}  // namespace vekmath
