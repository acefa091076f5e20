#include "pattern.h"

#include <platform/camera_device.h>

#include <cstring>

#include "simcamera.h"

namespace simcamera {

namespace {

constexpr int kFrameBits = 16;
constexpr int kCameraBits = 8;

// Image rows count from the top; the buffer's rows from the bottom.
uint8_t* imageRow(uint8_t* pixels, int32_t height, int32_t width, int32_t y) {
  return pixels + plat::camera::RowBytes(width) * (height - 1 - y);
}

void fillStripes(uint8_t* row, int32_t width, int bits, uint32_t value) {
  for (int32_t x = 0; x < width; ++x) {
    const int stripe = static_cast<int>(static_cast<int64_t>(x) * bits / width);
    const uint8_t level = (value >> (bits - 1 - stripe)) & 1u ? 255 : 0;
    std::memset(row + 3 * x, level, 3);
  }
}

int readStripes(const uint8_t* pixels, int32_t width, int32_t height, int32_t y, int bits) {
  if (width < 16 || height < 2) return -1;
  const uint8_t* row = pixels + plat::camera::RowBytes(width) * (height - 1 - y);
  int value = 0;
  for (int i = 0; i < bits; ++i) {
    const int64_t first = (static_cast<int64_t>(i) * width + bits - 1) / bits;
    const int64_t last = (static_cast<int64_t>(i + 1) * width + bits - 1) / bits - 1;
    const uint8_t* p = row + 3 * ((first + last) / 2);
    value = (value << 1) | ((p[0] + p[1] + p[2]) / 3 > 127 ? 1 : 0);
  }
  return value;
}

}  // namespace

void RenderPattern(uint8_t* pixels, int32_t width, int32_t height, uint32_t frame, uint32_t camera) {
  if (width <= 0 || height <= 0) return;
  const long rowBytes = plat::camera::RowBytes(width);
  const int32_t half = height / 2;
  for (int32_t y = 0; y < height; ++y) {
    uint8_t* row = imageRow(pixels, height, width, y);
    if (y == 0 || y == half) {
      std::memset(row, 0, static_cast<size_t>(rowBytes));
      if (y < half) {
        fillStripes(row, width, kFrameBits, frame & 0xFFFFu);
      } else {
        fillStripes(row, width, kCameraBits, camera & 0xFFu);
      }
    } else {
      std::memcpy(row, imageRow(pixels, height, width, y < half ? 0 : half), static_cast<size_t>(rowBytes));
    }
  }
}

int FrameNumberOf(const uint8_t* pixels, int32_t width, int32_t height) {
  return readStripes(pixels, width, height, height / 4, kFrameBits);
}

int CameraNumberOf(const uint8_t* pixels, int32_t width, int32_t height) {
  return readStripes(pixels, width, height, height / 2 + height / 4, kCameraBits);
}

}  // namespace simcamera
