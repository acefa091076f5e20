#include "gdi32/raster.h"

#include <wingdi.h>

#include <algorithm>
#include <cmath>
#include <cwchar>

namespace plat::gdi {

static_assert(sizeof(wchar_t) == sizeof(uint32_t), "span() fills pixels as wide characters");

uint32_t pixelOf(COLORREF c) {
  const uint32_t r = c & 0xFFu, g = (c >> 8) & 0xFFu, b = (c >> 16) & 0xFFu;
  return 0xFF000000u | (r << 16) | (g << 8) | b;
}

COLORREF colorOf(uint32_t p) {
  const uint32_t r = (p >> 16) & 0xFFu, g = (p >> 8) & 0xFFu, b = p & 0xFFu;
  return r | (g << 8) | (b << 16);
}

namespace {
// The mode's result for pen bits p over screen bits d.
uint32_t mixBits(int rop2, uint32_t p, uint32_t d) {
  switch (rop2) {
    case R2_BLACK: return 0;
    case R2_NOTMERGEPEN: return ~(p | d);
    case R2_MASKNOTPEN: return ~p & d;
    case R2_NOTCOPYPEN: return ~p;
    case R2_MASKPENNOT: return p & ~d;
    case R2_NOT: return ~d;
    case R2_XORPEN: return p ^ d;
    case R2_NOTMASKPEN: return ~(p & d);
    case R2_MASKPEN: return p & d;
    case R2_NOTXORPEN: return ~(p ^ d);
    case R2_NOP: return d;
    case R2_MERGENOTPEN: return ~p | d;
    case R2_MERGEPEN: return p | d;
    case R2_MERGEPENNOT: return p | ~d;
    case R2_WHITE: return ~0u;
    default: return p;  // R2_COPYPEN
  }
}
}  // namespace

bool validRop2(int rop2) { return rop2 >= R2_BLACK && rop2 <= R2_WHITE; }

Mix mixOf(int rop2, COLORREF color) {
  const uint32_t p = pixelOf(color) & 0x00FFFFFFu;
  const uint32_t onZero = mixBits(rop2, p, 0) & 0x00FFFFFFu;
  const uint32_t onOne = mixBits(rop2, p, 0x00FFFFFFu) & 0x00FFFFFFu;
  return Mix{onZero ^ onOne, onZero | 0xFF000000u};
}

void Box::add(LONG x0, LONG y0, LONG x1, LONG y1) {
  if (x1 <= x0 || y1 <= y0) return;
  if (empty()) {
    *this = Box{x0, y0, x1, y1};
    return;
  }
  left = std::min(left, x0);
  top = std::min(top, y0);
  right = std::max(right, x1);
  bottom = std::max(bottom, y1);
}

void span(const Target& t, LONG y, LONG x0, LONG x1, const Mix& mix, Box& box) {
  if (y < 0 || y >= t.height) return;
  x0 = std::max<LONG>(x0, 0);
  x1 = std::min<LONG>(x1, t.width);
  if (x1 <= x0) return;
  uint32_t* p = t.row(y) + x0;
  const size_t n = static_cast<size_t>(x1 - x0);
  const uint32_t keep = mix.keep, flip = mix.flip;  // locals: the stores cannot alias them
  if (keep == 0) {
    // The library's wide-character fill stores whole vectors at a time:
    // a full-window erase runs several times faster than a plain loop.
    std::wmemset(reinterpret_cast<wchar_t*>(p), static_cast<wchar_t>(flip), n);
  } else {
    for (size_t i = 0; i < n; ++i) p[i] = (p[i] & keep) ^ flip;
  }
  box.add(x0, y, x1, y + 1);
}

void fill(const Target& t, LONG left, LONG top, LONG right, LONG bottom, const Mix& mix, Box& box) {
  top = std::max<LONG>(top, 0);
  bottom = std::min<LONG>(bottom, t.height);
  left = std::max<LONG>(left, 0);
  right = std::min<LONG>(right, t.width);
  if (right <= left || bottom <= top) return;
  // A narrow copy (the live strip's erase, a column a few pixels wide down
  // the whole window) is stored pixel by pixel: a library fill per row
  // would cost more in its call than in its stores.
  constexpr LONG kNarrow = 16;
  if (mix.keep != 0 || right - left > kNarrow) {
    for (LONG y = top; y < bottom; ++y) span(t, y, left, right, mix, box);
    return;
  }
  const uint32_t ink = mix.flip;
  const size_t n = static_cast<size_t>(right - left);
  for (LONG y = top; y < bottom; ++y) {
    uint32_t* p = t.row(y) + left;
    for (size_t i = 0; i < n; ++i) p[i] = ink;
  }
  box.add(left, top, right, bottom);
}

namespace {
constexpr uint8_t kDash[] = {18, 6};
constexpr uint8_t kDot[] = {3, 3};
constexpr uint8_t kDashDot[] = {9, 6, 3, 6};
constexpr uint8_t kDashDotDot[] = {9, 3, 3, 3, 3, 3};

// Alternating on and off runs; each pattern fits the 32 bits of a mask.
template <size_t N>
constexpr int totalOf(const uint8_t (&runs)[N]) {
  int total = 0;
  for (uint8_t r : runs) total += r;
  return total;
}
static_assert(totalOf(kDash) <= 32 && totalOf(kDot) <= 32 && totalOf(kDashDot) <= 32 && totalOf(kDashDotDot) <= 32);

template <size_t N>
Dashes pattern(const uint8_t (&runs)[N]) {
  int total = 0;
  uint32_t mask = 0;
  for (size_t i = 0; i < N; ++i) {
    for (int k = 0; k < runs[i]; ++k, ++total) {
      if (i % 2 == 0) mask |= uint32_t{1} << total;
    }
  }
  return Dashes{static_cast<int>(N), total, mask};
}
}  // namespace

Dashes dashesOf(int style) {
  switch (style) {
    case PS_DASH: return pattern(kDash);
    case PS_DOT: return pattern(kDot);
    case PS_DASHDOT: return pattern(kDashDot);
    case PS_DASHDOTDOT: return pattern(kDashDotDot);
    default: return Dashes{};
  }
}

namespace {
LONG toLong(double v) { return static_cast<LONG>(std::clamp(v, -2147483000.0, 2147483000.0)); }
}  // namespace

void wideLine(const Target& t, LONG x0, LONG y0, LONG x1, LONG y1, LONG width, const Mix& ink, Box& box) {
  // The pixels whose centres lie within width / 2 of the segment: a convex
  // shape, so each row is one run.
  const double r = width / 2.0;
  const double ax = x0 + 0.5, ay = y0 + 0.5, bx = x1 + 0.5, by = y1 + 0.5;
  const double vx = bx - ax, vy = by - ay;
  const double len2 = vx * vx + vy * vy;
  const LONG top = std::max<LONG>(0, toLong(std::floor(std::min(ay, by) - r)));
  const LONG bottom = std::min<LONG>(t.height, toLong(std::ceil(std::max(ay, by) + r)) + 1);
  const LONG leftmost = toLong(std::floor(std::min(ax, bx) - r)) - 1;
  const LONG rightmost = toLong(std::ceil(std::max(ax, bx) + r)) + 1;
  auto within = [&](double px, double py) {
    double s = len2 > 0 ? ((px - ax) * vx + (py - ay) * vy) / len2 : 0.0;
    s = std::clamp(s, 0.0, 1.0);
    const double ex = ax + s * vx - px, ey = ay + s * vy - py;
    return ex * ex + ey * ey <= r * r;
  };
  for (LONG y = top; y < bottom; ++y) {
    const double cy = y + 0.5;
    LONG lo = std::max<LONG>(leftmost, -1), hi = std::min<LONG>(rightmost, t.width);
    while (lo < hi && !within(lo + 0.5, cy)) ++lo;
    while (hi > lo && !within(hi - 0.5, cy)) --hi;
    span(t, y, lo, hi, ink, box);
  }
}

}  // namespace plat::gdi
