// The depth the display reports. Every surface is 32 bits per pixel; a
// program that saves pictures at the display's depth can be run as on a
// display of fewer bits by setting ORVANE_DISPLAY_BITS to 1, 4, 8, 16 or
// 24. Displays of 8 bits or fewer have the fixed system palette below.
#pragma once
#include <wingdi.h>

#include <cstdlib>
#include <cstring>

namespace plat::gdi {

inline int displayBitsPerPixel() {
  const char* text = std::getenv("ORVANE_DISPLAY_BITS");
  if (text == nullptr) return 32;
  const int bits = std::atoi(text);
  return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 ? bits : 32;
}

// 256 entries: black and white first (the whole palette of a 1-bit
// display), the 16 colours of a 4-bit display in entries 0 to 15, then a
// 6 x 6 x 6 colour cube and a grey ramp.
inline PALETTEENTRY systemPaletteEntry(unsigned i) {
  static const BYTE kSixteen[16][3] = {{0, 0, 0},       {255, 255, 255}, {128, 0, 0},   {0, 128, 0},
                                       {128, 128, 0},   {0, 0, 128},     {128, 0, 128}, {0, 128, 128},
                                       {192, 192, 192}, {128, 128, 128}, {255, 0, 0},   {0, 255, 0},
                                       {255, 255, 0},   {0, 0, 255},     {255, 0, 255}, {0, 255, 255}};
  if (i < 16) return PALETTEENTRY{kSixteen[i][0], kSixteen[i][1], kSixteen[i][2], 0};
  if (i < 16 + 216) {
    const unsigned c = i - 16;
    return PALETTEENTRY{static_cast<BYTE>(c / 36 * 51), static_cast<BYTE>(c / 6 % 6 * 51),
                        static_cast<BYTE>(c % 6 * 51), 0};
  }
  const BYTE grey = static_cast<BYTE>((i - 232) * 10 + 8);
  return PALETTEENTRY{grey, grey, grey, 0};
}

}  // namespace plat::gdi
