// DecimateMinMax and DrawWave2: long waves drawn through their bucket
// extremes, so that no peak is lost between pixels.
#include <algorithm>
#include <vector>

#include "drawing/draw_target.h"
#include "vekmath.h"

namespace {

constexpr LONG kDecimatedPoints = 10000;

}  // namespace

DLL_EXPORT void WINAPI DecimateMinMax(FLOAT* dst, const FLOAT* src, LONG, LONG n, LONG m) {
  if (dst == nullptr || src == nullptr || n < 1 || m < 1) return;
  // More outputs than inputs would leave buckets empty: the values
  // themselves are the best reduction.
  if (m > n) {
    std::copy(src, src + n, dst);
    return;
  }
  const LONG buckets = m / 2;
  auto bound = [&](LONG k) { return static_cast<LONG>(k * 2.0 * n / m + 0.5); };
  LONG lo = bound(0);
  for (LONG k = 0; k < buckets; ++k) {
    const LONG hi = bound(k + 1);
    FLOAT high = 0.0f, low = 0.0f;
    // The index outputs are written only when a later element replaces
    // the first: they must start at the bucket's first element.
    LONG highAt = 0, lowAt = 0;
    ArrayMaxIndex(&high, &highAt, src + lo, hi - lo);
    ArrayMinIndex(&low, &lowAt, src + lo, hi - lo);
    dst[2 * k] = lowAt < highAt ? low : high;
    dst[2 * k + 1] = lowAt < highAt ? high : low;
    lo = hi;
  }
  if (m % 2 == 1 && buckets > 0) dst[m - 1] = dst[m - 2];
}

DLL_EXPORT void WINAPI DrawWave2(const FLOAT* values, LONG n, LONG style, FLOAT xOffset, FLOAT yOffset) {
  vekmath::DrawTarget& t = vekmath::drawTarget();
  if (values == nullptr || n < 1 || !t.drawable()) return;
  if (n <= kDecimatedPoints) {
    vekmath::drawWave(t, values, n, style, xOffset, yOffset);
    return;
  }
  std::vector<FLOAT> reduced(kDecimatedPoints);
  DecimateMinMax(reduced.data(), values, 0, n, kDecimatedPoints);
  // Point j of the reduction stands for sample j x n / 10000: the x range
  // and offset shrink by the same factor, so the wave keeps its place.
  const double shrink = static_cast<double>(kDecimatedPoints) / n;
  const float xMin = t.xMin, yMin = t.yMin, xMax = t.xMax, yMax = t.yMax;
  SetDrawRange(static_cast<FLOAT>(xMin * shrink), yMin, static_cast<FLOAT>(xMax * shrink), yMax);
  vekmath::drawWave(t, reduced.data(), kDecimatedPoints, style, xOffset * shrink, yOffset);
  SetDrawRange(xMin, yMin, xMax, yMax);
}
