// The transform exports. The forward transform works in the caller's
// output arrays and the inverse in its output plus one imaginary array, so
// the point count is not limited by a fixed working space.
#include <cstring>
#include <vector>

#include "arrays/element_loop.h"
#include "arrays/fft_kernel.h"
#include "vekmath.h"

using vekmath::single;

DLL_EXPORT void WINAPI FftForward(FLOAT* outRe, FLOAT* outIm, const FLOAT* src, LONG n) {
  if (outRe == nullptr || outIm == nullptr || src == nullptr || n < 1) return;
  std::memmove(outRe, src, sizeof(float) * static_cast<size_t>(n));
  std::memset(outIm, 0, sizeof(float) * static_cast<size_t>(n));
  if (n == 1) return;
  vekmath::fftInPlace(outRe, outIm, vekmath::fftPoints(n));
  for (LONG i = 0; i < n; ++i) {
    outRe[i] = single(static_cast<double>(outRe[i]) / n);
    outIm[i] = single(static_cast<double>(outIm[i]) / n);
  }
}

DLL_EXPORT void WINAPI FftInverse(FLOAT* out, const FLOAT* re, const FLOAT* im, LONG n) {
  if (out == nullptr || re == nullptr || im == nullptr || n < 1) return;
  const int32_t points = n == 1 ? 1 : vekmath::fftPoints(n);
  // Conjugating the input turns the forward kernel into the inverse one for
  // the real part, which is all that is kept.
  std::vector<float> imag(static_cast<size_t>(points));
  for (int32_t i = 0; i < points; ++i) imag[i] = -im[i];
  std::memmove(out, re, sizeof(float) * static_cast<size_t>(n));
  if (points > 1) vekmath::fftInPlace(out, imag.data(), points);
}
