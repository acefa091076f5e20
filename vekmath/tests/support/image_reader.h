// Pictures read back by an image library, as a viewer would open them.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace imagetest {

struct Picture {
  bool opened = false;
  int width = 0;
  int height = 0;
  std::vector<uint32_t> rgb;  // 0x00RRGGBB, rows top down
  uint32_t at(int x, int y) const { return rgb[static_cast<size_t>(y) * width + x]; }
};

Picture openPicture(const std::string& path);

}  // namespace imagetest
