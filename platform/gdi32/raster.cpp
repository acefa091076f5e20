#include "gdi32/raster.h"

#include <wingdi.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace plat::gdi {

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
    std::fill_n(p, n, flip);
  } else {
    for (size_t i = 0; i < n; ++i) p[i] = (p[i] & keep) ^ flip;
  }
  box.add(x0, y, x1, y + 1);
}

void fill(const Target& t, LONG left, LONG top, LONG right, LONG bottom, const Mix& mix, Box& box) {
  top = std::max<LONG>(top, 0);
  bottom = std::min<LONG>(bottom, t.height);
  for (LONG y = top; y < bottom; ++y) span(t, y, left, right, mix, box);
}

namespace {
const uint8_t kDash[] = {18, 6};
const uint8_t kDot[] = {3, 3};
const uint8_t kDashDot[] = {9, 6, 3, 6};
const uint8_t kDashDotDot[] = {9, 3, 3, 3, 3, 3};

template <size_t N>
Dashes pattern(const uint8_t (&runs)[N]) {
  int total = 0;
  for (uint8_t r : runs) total += r;
  return Dashes{runs, static_cast<int>(N), total};
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

bool Dashes::on(uint32_t phase) const {
  if (count == 0) return true;
  int at = static_cast<int>(phase % static_cast<uint32_t>(total));
  for (int i = 0; i < count; ++i) {
    if (at < runs[i]) return (i & 1) == 0;
    at -= runs[i];
  }
  return true;
}

namespace {

// The pixels of a line along its major axis a, from `first` to `last`: the
// minor coordinate at a is b0 + floor((2 (a - a0) db + da - 1) / (2 da)),
// the exact value rounded to nearest with halves going down. q and r are
// that quotient and remainder at `first`.
struct Walk {
  int64_t first = 0, last = -1;
  int64_t q = 0, r = 0, den = 1, step = 0;
};

Walk startWalk(int64_t a0, int64_t a1, int64_t db, int64_t first, int64_t last) {
  Walk w;
  w.first = first;
  w.last = last;
  if (first > last) return w;
  const int64_t da = a1 - a0;  // > 0
  w.den = 2 * da;
  w.step = 2 * db;
  const int64_t along = first - a0;
  if (along <= 1) {
    // The common unclipped starts, without a division: |db| <= da keeps the
    // quotient within -1 .. 1.
    w.r = along * w.step + da - 1;
    w.q = 0;
    if (w.r >= w.den) {
      w.r -= w.den;
      w.q = 1;
    }
  } else if (along < (int64_t{1} << 30) && db < (int64_t{1} << 31) && db > -(int64_t{1} << 31)) {
    const int64_t num = 2 * along * db + da - 1;
    w.q = num / w.den;
    w.r = num % w.den;
  } else {
    // The start may lie 2^32 pixels along a line 2^32 pixels high: 128 bits.
    const __int128 num = static_cast<__int128>(2 * along) * db + da - 1;
    w.q = static_cast<int64_t>(num / w.den);
    w.r = static_cast<int64_t>(num % w.den);
  }
  if (w.r < 0) {
    w.r += w.den;
    --w.q;
  }
  return w;
}

template <bool XMajor, bool Dashed>
void run(const Target& t, const Walk& w, int64_t a0, int64_t b0, bool reversed, int64_t n, const Mix ink,
         const Mix* gap, const Dashes& dashes, uint32_t phase, Box& box) {
  const int64_t limit = XMajor ? t.height : t.width;
  int64_t q = w.q, r = w.r;
  int64_t bFirst = 0, bLast = 0;
  bool any = false;
  for (int64_t a = w.first; a <= w.last; ++a) {
    const int64_t b = b0 + q;
    if (static_cast<uint64_t>(b) < static_cast<uint64_t>(limit)) {
      uint32_t* p = XMajor ? t.row(static_cast<LONG>(b)) + a : t.row(static_cast<LONG>(a)) + b;
      if constexpr (Dashed) {
        const int64_t i = a - a0;
        if (dashes.on(phase + static_cast<uint32_t>(reversed ? n - i : i))) {
          *p = ink.apply(*p);
        } else if (gap) {
          *p = gap->apply(*p);
        }
      } else {
        *p = ink.apply(*p);
      }
      if (!any) bFirst = b;
      bLast = b;
      any = true;
    }
    r += w.step;
    if (r >= w.den) {
      r -= w.den;
      ++q;
    } else if (r < 0) {
      r += w.den;
      --q;
    }
  }
  if (!any) return;
  const LONG lo = static_cast<LONG>(std::min(bFirst, bLast)), hi = static_cast<LONG>(std::max(bFirst, bLast)) + 1;
  const LONG from = static_cast<LONG>(w.first), to = static_cast<LONG>(w.last) + 1;
  if (XMajor) {
    box.add(from, lo, to, hi);
  } else {
    box.add(lo, from, hi, to);
  }
}

}  // namespace

void line(const Target& t, LONG x0, LONG y0, LONG x1, LONG y1, const Mix& ink, const Mix* gap, const Dashes& dashes,
          uint32_t& phase, Box& box) {
  const int64_t dx = static_cast<int64_t>(x1) - x0;
  const int64_t dy = static_cast<int64_t>(y1) - y0;
  if (dx == 0 && dy == 0) return;
  if (dy == 0 && dashes.count == 0) {
    // Level solid lines, the grid's, as one run.
    const int64_t from = dx > 0 ? x0 : int64_t{x1} + 1, to = dx > 0 ? x1 : int64_t{x0} + 1;
    span(t, y0, static_cast<LONG>(std::max<int64_t>(from, -1)), static_cast<LONG>(std::min<int64_t>(to, t.width)),
         ink, box);
    phase += static_cast<uint32_t>(std::llabs(dx));
    return;
  }
  const bool xMajor = std::llabs(dx) >= std::llabs(dy);
  // Canonical order: from the lower major coordinate; the drawn line leaves
  // out the end it goes to, so the pixels do not depend on the direction.
  const bool reversed = xMajor ? dx < 0 : dy < 0;
  int64_t a0 = xMajor ? x0 : y0, b0 = xMajor ? y0 : x0;
  int64_t a1 = xMajor ? x1 : y1, b1 = xMajor ? y1 : x1;
  if (reversed) {
    std::swap(a0, a1);
    std::swap(b0, b1);
  }
  const int64_t n = a1 - a0;
  const int64_t extent = xMajor ? t.width : t.height;
  const int64_t first = std::max<int64_t>(reversed ? a0 + 1 : a0, 0);
  const int64_t last = std::min<int64_t>(reversed ? a1 : a1 - 1, extent - 1);
  const Walk w = startWalk(a0, a1, b1 - b0, first, last);
  const uint32_t start = phase;
  phase = start + static_cast<uint32_t>(n);
  if (w.first > w.last) return;
  if (dashes.count > 0) {
    if (xMajor) {
      run<true, true>(t, w, a0, b0, reversed, n, ink, gap, dashes, start, box);
    } else {
      run<false, true>(t, w, a0, b0, reversed, n, ink, gap, dashes, start, box);
    }
  } else if (xMajor) {
    run<true, false>(t, w, a0, b0, reversed, n, ink, gap, dashes, start, box);
  } else {
    run<false, false>(t, w, a0, b0, reversed, n, ink, gap, dashes, start, box);
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
