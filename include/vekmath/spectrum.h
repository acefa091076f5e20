// Exports of the processing library: Fourier transform pair, centred
// moving windows and resamplers on caller-owned float arrays. A count or
// width of 0 or less, or a NULL pointer, writes nothing. Destination and
// source of the filters and resamplers must not overlap.
#pragma once
#include <windef.h>

// Radix-2 transform of the first N points, N the largest power of two not
// above n, with the kernel e^(-2 pi i jk / N); every one of the n outputs is
// then divided by n, so outputs N to n - 1 hold src / n and an imaginary 0.
// n = 1 gives src[0] and 0. Any n (working space is sized from it); outRe
// may be src.
DLL_EXPORT void WINAPI FftForward(FLOAT* outRe, FLOAT* outIm, const FLOAT* src, LONG n);
// Real part of the inverse transform, not scaled: FftInverse of FftForward's
// output gives back the samples. Outputs N to n - 1 receive re; n = 1 gives
// re[0].
DLL_EXPORT void WINAPI FftInverse(FLOAT* out, const FLOAT* re, const FLOAT* im, LONG n);

// The window covers i - w/2 to i + w/2 (integer division): w samples for an
// odd w, w + 1 for an even w.
// Mean of the window samples inside the array.
DLL_EXPORT void WINAPI ArrayMovingAverage(FLOAT* dst, const FLOAT* src, LONG w, LONG n);
// Weighted sum over the window, not divided; coef holds 2 * (w / 2) + 1
// entries, which for an even w is one more than w. Samples beyond the ends
// repeat the end samples.
DLL_EXPORT void WINAPI ArrayMovingAverage0(FLOAT* dst, const FLOAT* src, LONG w, LONG n, const FLOAT* coef);
// As ArrayMovingAverage0, with the terms beyond the ends left out.
DLL_EXPORT void WINAPI ArrayMovingAverage2(FLOAT* dst, const FLOAT* src, LONG w, LONG n, const FLOAT* coef);

// Stretches srcCount samples to dstCount points by linear interpolation;
// nothing unless srcCount < dstCount. One source sample fills dst with it.
DLL_EXPORT void WINAPI ResampleLinear(FLOAT* dst, const FLOAT* src, LONG srcCount, LONG dstCount);
// Shrinks n samples to m points by area averaging; nothing when n < m, a
// copy when n = m. Never reads past src[n - 1].
DLL_EXPORT void WINAPI ResampleAverage(FLOAT* dst, const FLOAT* src, LONG n, LONG m);
