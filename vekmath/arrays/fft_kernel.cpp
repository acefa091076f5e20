// Bit-reversal permutation from a table built by doubling, then one pass per
// stage whose twiddle advances by a rotation recurrence: one cosine and one
// sine per stage, none per butterfly. Besides the table, the call holds one
// stage's twiddles.
#include "arrays/fft_kernel.h"

#include <cmath>
#include <numbers>
#include <utility>
#include <vector>

namespace vekmath {

int32_t fftPoints(int32_t n) {
  int32_t points = 1;
  while (n > 1) {
    n /= 2;
    points *= 2;
  }
  return points;
}

namespace {

// Entry 0 is 0; for s = 1, 2, 4, ... below N, entry s + j = entry j + N/(2s).
std::vector<int32_t> bitReversal(int32_t points) {
  std::vector<int32_t> table(static_cast<size_t>(points));
  table[0] = 0;
  for (int32_t s = 1; s < points; s *= 2)
    for (int32_t j = 0; j < s; ++j) table[s + j] = table[j] + points / (2 * s);
  return table;
}

// The permutation is its own inverse, so swapping each pair once permutes
// the arrays in place.
void permute(float* re, float* im, int32_t points) {
  const std::vector<int32_t> table = bitReversal(points);
  for (int32_t i = 0; i < points; ++i) {
    const int32_t j = table[i];
    if (j > i) {
      std::swap(re[i], re[j]);
      std::swap(im[i], im[j]);
    }
  }
}

}  // namespace

void fftInPlace(float* re, float* im, int32_t points) {
  permute(re, im, points);
  // Each stage's twiddles come from the recurrence in j order, as the
  // butterflies of one j would use them; keeping them lets the butterflies
  // run block by block through memory with the very same values.
  std::vector<double> twRe(static_cast<size_t>(points / 2));
  std::vector<double> twIm(static_cast<size_t>(points / 2));
  for (int32_t half = 1; half < points; half *= 2) {
    const double angle = std::numbers::pi / half;
    const double stepRe = std::cos(angle);
    const double stepIm = -std::sin(angle);
    double wRe = 1.0;
    double wIm = 0.0;
    for (int32_t j = 0; j < half; ++j) {
      twRe[j] = wRe;
      twIm[j] = wIm;
      const double nextRe = wRe * stepRe - wIm * stepIm;
      wIm = wRe * stepIm + wIm * stepRe;
      wRe = nextRe;
    }
    for (int32_t block = 0; block < points; block += 2 * half) {
      for (int32_t j = 0; j < half; ++j) {
        const int32_t k = block + j;
        const double xRe = re[k + half];
        const double xIm = im[k + half];
        const double tRe = twRe[j] * xRe - twIm[j] * xIm;
        const double tIm = twRe[j] * xIm + twIm[j] * xRe;
        const double aRe = re[k];
        const double aIm = im[k];
        re[k + half] = static_cast<float>(aRe - tRe);
        im[k + half] = static_cast<float>(aIm - tIm);
        re[k] = static_cast<float>(aRe + tRe);
        im[k] = static_cast<float>(aIm + tIm);
      }
    }
  }
}

}  // namespace vekmath
