// The radix-2 transform shared by FftForward and FftInverse: in place on
// separate real and imaginary float arrays, forward kernel e^(-2 pi i jk/N).
#pragma once
#include <cstdint>

namespace vekmath {

// The largest power of two not above n (n >= 2).
int32_t fftPoints(int32_t n);

// Transforms re[0 ... points - 1], im[0 ... points - 1] in place; points is
// a power of two of at least 2.
void fftInPlace(float* re, float* im, int32_t points);

}  // namespace vekmath
