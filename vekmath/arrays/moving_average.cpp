// Centred moving windows: the window of sample i covers i - w/2 to i + w/2.
// The weighted filters differ only in what they take for the part beyond
// the array, so one loop frame serves both.
#include <algorithm>
#include <cstdint>

#include "arrays/element_loop.h"
#include "vekmath.h"

using vekmath::single;

namespace {

// dst[i] = the sum over the window of term(j, offset of j in the window),
// not divided; j may lie beyond the array. Index arithmetic is 64-bit so
// that a huge width cannot wrap.
template <typename Term>
void weightedWindows(FLOAT* dst, LONG w, LONG n, Term term) {
  const int64_t half = w / 2;
  for (int64_t i = 0; i < n; ++i) {
    double sum = 0.0;
    for (int64_t j = i - half; j <= i + half; ++j) sum += term(j, j - i + half);
    dst[i] = single(sum);
  }
}

bool nothingToDo(const FLOAT* dst, const FLOAT* src, LONG w, LONG n) {
  return dst == nullptr || src == nullptr || w <= 0 || n <= 0;
}

}  // namespace

DLL_EXPORT void WINAPI ArrayMovingAverage(FLOAT* dst, const FLOAT* src, LONG w, LONG n) {
  if (nothingToDo(dst, src, w, n)) return;
  // Only the window's part inside the array is summed: beyond a huge width
  // the loop would walk cells that add nothing.
  const int64_t half = w / 2;
  for (int64_t i = 0; i < n; ++i) {
    const int64_t first = std::max<int64_t>(0, i - half);
    const int64_t last = std::min<int64_t>(n - 1, i + half);
    double sum = 0.0;
    for (int64_t j = first; j <= last; ++j) sum += src[j];
    dst[i] = single(sum / static_cast<double>(last - first + 1));
  }
}

DLL_EXPORT void WINAPI ArrayMovingAverage0(FLOAT* dst, const FLOAT* src, LONG w, LONG n, const FLOAT* coef) {
  if (nothingToDo(dst, src, w, n) || coef == nullptr) return;
  weightedWindows(dst, w, n, [&](int64_t j, int64_t k) {
    return static_cast<double>(coef[k]) * src[std::clamp<int64_t>(j, 0, n - 1)];
  });
}

DLL_EXPORT void WINAPI ArrayMovingAverage2(FLOAT* dst, const FLOAT* src, LONG w, LONG n, const FLOAT* coef) {
  if (nothingToDo(dst, src, w, n) || coef == nullptr) return;
  weightedWindows(dst, w, n, [&](int64_t j, int64_t k) {
    return (j < 0 || j >= n) ? 0.0 : static_cast<double>(coef[k]) * src[j];
  });
}
