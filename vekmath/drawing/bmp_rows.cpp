#include "drawing/bmp_rows.h"

#include <cstring>
#include <unordered_map>

namespace vekmath {
namespace {

// The nearest palette entry; a picture has few colours, so each is looked
// up once.
class PaletteIndex {
 public:
  explicit PaletteIndex(const std::vector<RGBQUAD>& palette) : palette_(palette) {}
  uint8_t of(uint8_t b, uint8_t g, uint8_t r) {
    const uint32_t key = (uint32_t{r} << 16) | (uint32_t{g} << 8) | b;
    if (auto it = known_.find(key); it != known_.end()) return it->second;
    uint8_t best = 0;
    int32_t bestDistance = INT32_MAX;
    for (size_t i = 0; i < palette_.size(); ++i) {
      const RGBQUAD& p = palette_[i];
      const int32_t db = p.rgbBlue - b, dg = p.rgbGreen - g, dr = p.rgbRed - r;
      const int32_t d = db * db + dg * dg + dr * dr;
      if (d < bestDistance) {
        bestDistance = d;
        best = static_cast<uint8_t>(i);
      }
    }
    known_.emplace(key, best);
    return best;
  }

 private:
  const std::vector<RGBQUAD>& palette_;
  std::unordered_map<uint32_t, uint8_t> known_;
};

}  // namespace

std::vector<uint8_t> packBmpRows(const uint8_t* rows, ptrdiff_t stride, LONG width, LONG height, int bits,
                                 const std::vector<RGBQUAD>& palette) {
  const uint32_t rowBytes = bmpRowBytes(bits, width);
  std::vector<uint8_t> out(static_cast<size_t>(rowBytes) * height, 0);
  PaletteIndex index(palette);
  for (LONG y = 0; y < height; ++y) {
    const uint8_t* src = rows + y * stride;
    uint8_t* dst = out.data() + static_cast<size_t>(y) * rowBytes;
    for (LONG x = 0; x < width; ++x) {
      const uint8_t b = src[4 * x], g = src[4 * x + 1], r = src[4 * x + 2];
      switch (bits) {
        case 32:
          dst[4 * x] = b;
          dst[4 * x + 1] = g;
          dst[4 * x + 2] = r;
          break;
        case 24:
          dst[3 * x] = b;
          dst[3 * x + 1] = g;
          dst[3 * x + 2] = r;
          break;
        case 16: {
          const uint16_t v = static_cast<uint16_t>(((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3));
          dst[2 * x] = static_cast<uint8_t>(v & 0xFF);
          dst[2 * x + 1] = static_cast<uint8_t>(v >> 8);
          break;
        }
        default: {
          // 1, 4 and 8 bits: the leftmost pixel in the highest bits.
          const uint32_t i = index.of(b, g, r);
          const int64_t bit = static_cast<int64_t>(x) * bits;
          const int shift = 8 - bits - static_cast<int>(bit % 8);
          dst[bit / 8] = static_cast<uint8_t>(dst[bit / 8] | (i << shift));
          break;
        }
      }
    }
  }
  return out;
}

}  // namespace vekmath
