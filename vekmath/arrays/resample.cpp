// Resampling up by linear interpolation and down by area averaging.
#include <algorithm>
#include <cstdint>

#include "arrays/element_loop.h"
#include "vekmath.h"

using vekmath::single;

DLL_EXPORT void WINAPI ResampleLinear(FLOAT* dst, const FLOAT* src, LONG srcCount, LONG dstCount) {
  if (dst == nullptr || src == nullptr || srcCount < 1 || srcCount >= dstCount) return;
  if (srcCount == 1) {
    std::fill(dst, dst + dstCount, src[0]);
    return;
  }
  const double ratio = static_cast<double>(srcCount - 1) / (dstCount - 1);
  for (LONG k = 0; k + 1 < dstCount; ++k) {
    const double x = k * ratio;
    // Rounding of k * ratio must not carry i onto the last sample, whose
    // right neighbour does not exist.
    const int32_t i = std::min(static_cast<int32_t>(x), srcCount - 2);
    dst[k] = single(src[i] + (static_cast<double>(src[i + 1]) - src[i]) * (x - i));
  }
  dst[dstCount - 1] = src[srcCount - 1];
}

DLL_EXPORT void WINAPI ResampleAverage(FLOAT* dst, const FLOAT* src, LONG n, LONG m) {
  if (dst == nullptr || src == nullptr || m < 1 || n < m) return;
  if (n == m) {
    ArrayAddC(dst, src, 0.0f, n);
    return;
  }
  const float r = static_cast<float>(n) / static_cast<float>(m);
  int64_t start = 0;
  double carry = 0.0;
  for (LONG k = 0; k < m; ++k) {
    const float end = static_cast<float>(k) * r + r;
    double sum = 0.0;
    int64_t index = start;
    while (index < end - 1 && index < n - 1) sum += src[index++];
    // Rounding of r can put the boundary one past the input: the last
    // sample then closes the output with whatever fraction is left.
    const int64_t boundary = std::min<int64_t>(index, n - 1);
    const double used = start > boundary ? 0.0 : end - static_cast<double>(boundary);
    dst[k] = single((sum + used * src[boundary] + carry) / r);
    carry = (1.0 - used) * src[boundary];
    start = boundary + 1;
  }
}
