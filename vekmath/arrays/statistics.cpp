// Sums, means and extremes of float arrays. Sums run in double from the
// first element to the last, so results do not depend on the caller's
// thread or on how the array was split.
#include <cmath>

#include "arrays/element_loop.h"
#include "vekmath.h"

using vekmath::single;

namespace {

double sumOf(const float* src, int32_t n) {
  double sum = 0.0;
  for (int32_t i = 0; i < n; ++i) sum += src[i];
  return sum;
}

// The running extreme starts at src[0]; only a strictly better element
// replaces it, so ties keep the earlier index. Returns the index of the
// last replacement, or -1 when src[0] stayed the extreme.
template <typename Better>
int32_t extreme(const float* src, int32_t n, float& value, Better better) {
  value = src[0];
  int32_t index = -1;
  for (int32_t i = 0; i < n; ++i) {
    if (better(src[i], value)) {
      value = src[i];
      index = i;
    }
  }
  return index;
}

template <typename Better>
void extremeWithIndex(float* outValue, LONG* outIndex, const float* src, int32_t n, Better better) {
  // src[0] is read even for an empty array; without one there is nothing to read.
  if (src == nullptr) return;
  float value = 0.0f;
  int32_t index = extreme(src, n, value, better);
  if (outValue != nullptr) *outValue = value;
  if (index >= 0 && outIndex != nullptr) *outIndex = index;
}

bool larger(float a, float b) { return a > b; }
bool smaller(float a, float b) { return a < b; }

}  // namespace

DLL_EXPORT void WINAPI ArraySum(FLOAT* out, const FLOAT* src, LONG n) {
  if (out == nullptr) return;
  *out = (n <= 0 || src == nullptr) ? 0.0f : single(sumOf(src, n));
}

DLL_EXPORT void WINAPI ArrayMean(FLOAT* out, const FLOAT* src, LONG n) {
  if (out == nullptr || src == nullptr || n <= 0) return;
  *out = single(sumOf(src, n) / n);
}

DLL_EXPORT void WINAPI ArrayRms(FLOAT* out, const FLOAT* src, LONG n) {
  if (out == nullptr || src == nullptr || n <= 0) return;
  double squares = 0.0;
  for (LONG i = 0; i < n; ++i) squares += static_cast<double>(src[i]) * src[i];
  *out = single(std::sqrt(squares / n));
}

DLL_EXPORT void WINAPI ArrayStdDev(FLOAT* out, const FLOAT* src, LONG n) {
  if (out == nullptr) return;
  if (src == nullptr || n <= 1) {
    *out = 0.0f;
    return;
  }
  // Each deviation and its square are rounded to single, as they were when
  // they went through a float scratch copy; without the copy any n works
  // and calls on several threads do not meet.
  const double mean = sumOf(src, n) / n;
  double squares = 0.0;
  for (LONG i = 0; i < n; ++i) {
    float d = single(src[i] - mean);
    squares += single(static_cast<double>(d) * d);
  }
  *out = single(std::sqrt(squares / (n - 1)));
}

DLL_EXPORT void WINAPI ArrayMaxMin(FLOAT* outMax, FLOAT* outMin, const FLOAT* src, LONG n) {
  if (src == nullptr) return;
  float maximum = 0.0f;
  float minimum = 0.0f;
  extreme(src, n, maximum, larger);
  extreme(src, n, minimum, smaller);
  if (outMax != nullptr) *outMax = maximum;
  if (outMin != nullptr) *outMin = minimum;
}

DLL_EXPORT void WINAPI ArrayMaxIndex(FLOAT* outMax, LONG* outIndex, const FLOAT* src, LONG n) {
  extremeWithIndex(outMax, outIndex, src, n, larger);
}

DLL_EXPORT void WINAPI ArrayMinIndex(FLOAT* outMin, LONG* outIndex, const FLOAT* src, LONG n) {
  extremeWithIndex(outMin, outIndex, src, n, smaller);
}
