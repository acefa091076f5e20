// The software rasterizer: pixel rules for lines, spans and shapes over one
// 32-bit surface, each clipped to the surface so nothing is written outside.
#pragma once
#include <windef.h>

#include <cstddef>
#include <cstdint>

namespace plat::gdi {

// Pixels are 0xAARRGGBB words; rows may run bottom up (negative stride).
struct Target {
  uint8_t* base = nullptr;  // row 0
  ptrdiff_t stride = 0;
  LONG width = 0;
  LONG height = 0;

  bool empty() const { return base == nullptr || width <= 0 || height <= 0; }
  uint32_t* row(LONG y) const { return reinterpret_cast<uint32_t*>(base + stride * y); }
  bool inside(LONG x, LONG y) const { return x >= 0 && y >= 0 && x < width && y < height; }
};

uint32_t pixelOf(COLORREF color);
COLORREF colorOf(uint32_t pixel);

// A mix mode bound to one colour: every mode of SetROP2 is, per bit,
// new = (old & keep) ^ flip.
struct Mix {
  uint32_t keep = 0;
  uint32_t flip = 0xFF000000u;
  uint32_t apply(uint32_t old) const { return (old & keep) ^ flip; }
};
Mix mixOf(int rop2, COLORREF color);
bool validRop2(int rop2);

// Bounding box of what a primitive touched (empty when right <= left).
struct Box {
  LONG left = 0, top = 0, right = 0, bottom = 0;
  void add(LONG x0, LONG y0, LONG x1, LONG y1);  // half-open, already clipped
  bool empty() const { return right <= left || bottom <= top; }
};

// x0 <= x < x1 of row y, clipped.
void span(const Target& t, LONG y, LONG x0, LONG x1, const Mix& mix, Box& box);
// Half-open rectangle, clipped.
void fill(const Target& t, LONG left, LONG top, LONG right, LONG bottom, const Mix& mix, Box& box);

// A dash pattern, on and off pixels along a line's major axis from its
// start.
struct Dashes {
  int count = 0;      // runs in the pattern; 0: solid
  int total = 0;      // pixels in one period, at most 32
  uint32_t mask = 0;  // bit i: pixel i of the period is on
};
Dashes dashesOf(int penStyle);

// One pixel-wide line from (x0, y0) to (x1, y1) without its end point. The
// pixels do not depend on the direction: along the major axis the minor
// coordinate is the exact value rounded to nearest, halves toward the
// smaller coordinate. Pixels off the dash pattern take `gap` (when given).
// `phase` counts pixels of the pattern and is advanced past the line.
void line(const Target& t, LONG x0, LONG y0, LONG x1, LONG y1, const Mix& ink, const Mix* gap, const Dashes& dashes,
          uint32_t& phase, Box& box);
// A chain of solid one pixel-wide segments, each drawn as line() draws it
// (phase advanced alike).
void solidLines(const Target& t, const POINT* points, int count, const Mix& ink, uint32_t& phase, Box& box);
// A line `width` pixels wide with round ends, every pixel written once.
void wideLine(const Target& t, LONG x0, LONG y0, LONG x1, LONG y1, LONG width, const Mix& ink, Box& box);

}  // namespace plat::gdi
