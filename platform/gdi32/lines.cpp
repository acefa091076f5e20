// One pixel-wide lines. All the arithmetic that can need more than 64 bits
// (far-off end points, clipping) happens once per segment; the pixel loop is
// an error-term walk over byte offsets with no bounds checks left in it.
#include <algorithm>
#include <cstdlib>

#include "gdi32/raster.h"

namespace plat::gdi {

namespace {

using Wide = __int128;

// floor(num / den) and ceil(num / den) for den > 0.
Wide floorDiv(Wide num, Wide den) {
  const Wide q = num / den;
  return (num % den != 0 && num < 0) ? q - 1 : q;
}
Wide ceilDiv(Wide num, Wide den) {
  const Wide q = num / den;
  return (num % den != 0 && num > 0) ? q + 1 : q;
}

// A line in canonical order along its major axis a (a0 < a1); the minor
// coordinate at a is b0 + floor((2 (a - a0) db + da - 1) / (2 da)), the exact
// value rounded to nearest with halves going down. |db| <= da.
struct Segment {
  int64_t a0 = 0, b0 = 0, da = 1, db = 0;

  // The minor offset from b0 at a, with the remainder in [0, 2 da).
  void at(int64_t a, int64_t& q, int64_t& r) const {
    const int64_t den = 2 * da;
    const int64_t along = a - a0;
    if (along >= 0 && along <= 1) {
      // The common unclipped starts, without a division.
      r = along * 2 * db + da - 1;
      q = 0;
      if (r >= den) {
        r -= den;
        q = 1;
      } else if (r < 0) {
        r += den;
        q = -1;
      }
      return;
    }
    const Wide num = Wide{2 * along} * db + da - 1;
    Wide wq = num / den, wr = num % den;
    if (wr < 0) {
      wr += den;
      --wq;
    }
    q = static_cast<int64_t>(wq);
    r = static_cast<int64_t>(wr);
  }

  // Narrows [first, last] to where the minor coordinate lies in [0, limit).
  void clipMinor(int64_t limit, int64_t& first, int64_t& last) const {
    if (db == 0) {
      if (b0 < 0 || b0 >= limit) last = first - 1;
      return;
    }
    const Wide den2 = Wide{2} * da;
    const Wide step = Wide{2} * std::llabs(db);
    Wide lo, hi;  // a - a0
    if (db > 0) {
      // offset >= k exactly when 2 (a - a0) db >= 2 da k - da + 1.
      lo = ceilDiv(den2 * -b0 - da + 1, step);
      hi = ceilDiv(den2 * (limit - b0) - da + 1, step) - 1;
    } else {
      // Falling: offset >= k exactly when 2 (a - a0) |db| <= da - 1 - 2 da k.
      hi = floorDiv(da - 1 + den2 * b0, step);
      lo = floorDiv(da - 1 - den2 * (limit - b0), step) + 1;
    }
    first = static_cast<int64_t>(std::max<Wide>(first, a0 + lo));
    last = static_cast<int64_t>(std::min<Wide>(last, a0 + hi));
  }
};

// What one walk needs: the first pixel's byte offset, the steps, the error
// term, rising by `inc` and stepping the minor axis when it reaches `den`.
struct Walk {
  uint8_t* base = nullptr;
  ptrdiff_t offset = 0;
  ptrdiff_t majorStep = 0;
  ptrdiff_t minorStep = 0;
  int64_t count = 0;
  int64_t error = 0;
  int64_t inc = 0;
  int64_t den = 1;
};

inline uint32_t& pixelAt(uint8_t* base, ptrdiff_t offset) { return *reinterpret_cast<uint32_t*>(base + offset); }

// Walks the pixels, calling put on each; returns how often the minor
// coordinate stepped between the first pixel and the last.
template <typename Put>
inline int64_t walk(const Walk& w, Put put) {
  uint8_t* const base = w.base;
  const ptrdiff_t majorStep = w.majorStep, minorStep = w.minorStep;
  const int64_t inc = w.inc, den = w.den;
  ptrdiff_t offset = w.offset;
  int64_t error = w.error, minor = 0;
  put(pixelAt(base, offset));
  for (int64_t i = 1; i < w.count; ++i) {
    offset += majorStep;
    error += inc;
    if (error >= den) {
      error -= den;
      offset += minorStep;
      ++minor;
    }
    put(pixelAt(base, offset));
  }
  return minor;
}

// Solid: `Copy` when the mix ignores what is under it (R2_COPYPEN and the
// other constant modes), the case of every trace.
template <bool Copy>
int64_t walkSolid(const Walk& w, const Mix ink) {
  const uint32_t keep = ink.keep, flip = ink.flip;
  return walk(w, [=](uint32_t& p) { p = Copy ? flip : (p & keep) ^ flip; });
}

// A walk that can stop and go on.
struct Walker {
  const Walk& w;
  ptrdiff_t offset = w.offset;
  int64_t error = w.error;
  int64_t left = w.count;
  int64_t minor = 0;

  // The next len pixels (len <= left); no step past the line's last.
  // `Straight` for level and upright lines, whose error term never moves.
  template <bool Straight, typename Put>
  void run(int64_t len, Put put) {
    const int64_t steps = len == left ? len - 1 : len;
    left -= len;
    const ptrdiff_t majorStep = w.majorStep, minorStep = w.minorStep;
    const int64_t inc = w.inc, den = w.den;
    for (int64_t i = 0; i < steps; ++i) {
      put(pixelAt(w.base, offset));
      offset += majorStep;
      if constexpr (!Straight) {
        error += inc;
        if (error >= den) {
          error -= den;
          offset += minorStep;
          ++minor;
        }
      }
    }
    if (steps < len) put(pixelAt(w.base, offset));
  }
};

// The pattern counts pixels in 32 bits from `count`, up the walk or
// (backward) down it; the count's wrap-around restarts the period as a
// direct count would. Each pixel picks its mix from its pattern bit; a
// transparent gap is a mix that keeps the pixel as it is.
template <bool Straight>
int64_t walkDashed(const Walk& w, const Mix ink, const Mix* gap, const Dashes& dashes, uint32_t count, bool backward) {
  const Mix mixes[2] = {gap ? *gap : Mix{~0u, 0u}, ink};
  const uint32_t total = static_cast<uint32_t>(dashes.total), mask = dashes.mask;
  Walker k{w};
  while (k.left > 0) {
    const int64_t untilWrap = backward ? int64_t{count} + 1 : (int64_t{1} << 32) - count;
    const int64_t len = std::min(k.left, untilWrap);
    uint32_t position = count % total;
    if (backward) {
      k.run<Straight>(len, [&](uint32_t& p) {
        const Mix& m = mixes[(mask >> position) & 1u];
        p = (p & m.keep) ^ m.flip;
        position = position == 0 ? total - 1 : position - 1;
      });
      count -= static_cast<uint32_t>(len);
    } else {
      k.run<Straight>(len, [&](uint32_t& p) {
        const Mix& m = mixes[(mask >> position) & 1u];
        p = (p & m.keep) ^ m.flip;
        if (++position == total) position = 0;
      });
      count += static_cast<uint32_t>(len);
    }
  }
  return k.minor;
}

// One solid segment with both ends on the surface: nothing to clip, and
// every quantity fits 32 bits. The pixels are those of line().
template <bool Copy>
inline LONG solidInside(const Target& t, LONG x0, LONG y0, LONG x1, LONG y1, const Mix ink) {
  const LONG dx = x1 - x0, dy = y1 - y0;
  const bool xMajor = std::abs(dx) >= std::abs(dy);
  const LONG da = xMajor ? dx : dy;
  if (da == 0) return 0;
  // Canonical order from the lower major end; a reversed line leaves out
  // that end, so its first pixel lies one step along.
  const bool reversed = da < 0;
  const LONG n = std::abs(da);
  const LONG db = reversed ? -(xMajor ? dy : dx) : (xMajor ? dy : dx);
  LONG a = reversed ? (xMajor ? x1 : y1) : (xMajor ? x0 : y0);
  LONG b = reversed ? (xMajor ? y1 : x1) : (xMajor ? y0 : x0);
  const LONG den = 2 * n;
  LONG r = n - 1;
  if (reversed) {
    ++a;
    r += 2 * db;
    if (r >= den) {
      r -= den;
      ++b;
    } else if (r < 0) {
      r += den;
      --b;
    }
  }
  const bool falling = db < 0;
  const ptrdiff_t pixel = sizeof(uint32_t);
  Walk w;
  w.base = t.base;
  w.count = n;
  w.den = den;
  w.error = falling ? den - 1 - r : r;
  w.inc = 2 * std::abs(db);
  if (xMajor) {
    w.offset = t.stride * b + pixel * a;
    w.majorStep = pixel;
    w.minorStep = falling ? -t.stride : t.stride;
  } else {
    w.offset = t.stride * a + pixel * b;
    w.majorStep = t.stride;
    w.minorStep = falling ? -pixel : pixel;
  }
  walkSolid<Copy>(w, ink);
  return n;
}

template <bool Copy>
void solidPolyline(const Target& t, const POINT* p, int count, const Mix& ink, uint32_t& phase, Box& box) {
  // The bounding box of the points on the surface, taken once at the end:
  // it holds every segment drawn here.
  LONG left = t.width, top = t.height, right = -1, bottom = -1;
  const Dashes solid;
  auto on = [&](const POINT& q) {
    const bool inside = static_cast<ULONG>(q.x) < static_cast<ULONG>(t.width) &&
                        static_cast<ULONG>(q.y) < static_cast<ULONG>(t.height);
    if (inside) {
      left = std::min(left, q.x);
      right = std::max(right, q.x);
      top = std::min(top, q.y);
      bottom = std::max(bottom, q.y);
    }
    return inside;
  };
  bool fromOn = on(p[0]);
  for (int i = 1; i < count; ++i) {
    const POINT& from = p[i - 1];
    const POINT& to = p[i];
    const bool toOn = on(to);
    if (fromOn && toOn) {
      phase += static_cast<uint32_t>(solidInside<Copy>(t, from.x, from.y, to.x, to.y, ink));
    } else {
      line(t, from.x, from.y, to.x, to.y, ink, nullptr, solid, phase, box);
    }
    fromOn = toOn;
  }
  box.add(left, top, right + 1, bottom + 1);
}

}  // namespace

void solidLines(const Target& t, const POINT* points, int count, const Mix& ink, uint32_t& phase, Box& box) {
  if (points == nullptr || count < 2 || t.empty()) return;
  if (ink.keep == 0) {
    solidPolyline<true>(t, points, count, ink, phase, box);
  } else {
    solidPolyline<false>(t, points, count, ink, phase, box);
  }
}

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
  const uint32_t start = phase;
  phase = start + static_cast<uint32_t>(n);

  const Segment seg{a0, b0, n, b1 - b0};
  const int64_t extent = xMajor ? t.width : t.height;
  const int64_t limit = xMajor ? t.height : t.width;
  int64_t first = std::max<int64_t>(reversed ? a0 + 1 : a0, 0);
  int64_t last = std::min<int64_t>(reversed ? a1 : a1 - 1, extent - 1);
  // The minor coordinate stays between b0 and b1: only a line with an end
  // off the surface sideways needs the minor clip.
  if (std::min(b0, b1) < 0 || std::max(b0, b1) >= limit) seg.clipMinor(limit, first, last);
  if (first > last) return;

  int64_t q = 0, r = 0;
  seg.at(first, q, r);
  const int64_t den = 2 * n;
  const bool falling = seg.db < 0;
  const int64_t bFirst = b0 + q;
  const ptrdiff_t pixel = sizeof(uint32_t);
  Walk w;
  w.base = t.base;
  w.count = last - first + 1;
  w.den = den;
  // A falling line walks the mirrored error term, which rises like a
  // climbing one's and reaches den exactly when the offset drops.
  w.error = falling ? den - 1 - r : r;
  w.inc = 2 * std::llabs(seg.db);
  if (xMajor) {
    w.offset = t.stride * static_cast<ptrdiff_t>(bFirst) + pixel * static_cast<ptrdiff_t>(first);
    w.majorStep = pixel;
    w.minorStep = falling ? -t.stride : t.stride;
  } else {
    w.offset = t.stride * static_cast<ptrdiff_t>(first) + pixel * static_cast<ptrdiff_t>(bFirst);
    w.majorStep = t.stride;
    w.minorStep = falling ? -pixel : pixel;
  }

  int64_t moved = 0;
  if (dashes.count > 0) {
    const uint32_t along = static_cast<uint32_t>(first - a0);
    const uint32_t count = reversed ? start + static_cast<uint32_t>(n) - along : start + along;
    moved = w.inc == 0 ? walkDashed<true>(w, ink, gap, dashes, count, reversed)
                       : walkDashed<false>(w, ink, gap, dashes, count, reversed);
  } else if (ink.keep == 0) {
    moved = walkSolid<true>(w, ink);
  } else {
    moved = walkSolid<false>(w, ink);
  }
  const int64_t bLast = falling ? bFirst - moved : bFirst + moved;
  const LONG lo = static_cast<LONG>(std::min(bFirst, bLast)), hi = static_cast<LONG>(std::max(bFirst, bLast)) + 1;
  const LONG from = static_cast<LONG>(first), to = static_cast<LONG>(last) + 1;
  if (xMajor) {
    box.add(from, lo, to, hi);
  } else {
    box.add(lo, from, hi, to);
  }
}

}  // namespace plat::gdi
