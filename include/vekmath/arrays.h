// Exports of the processing library: element-wise arithmetic, statistics,
// block operations and conversions on caller-owned arrays.
//
// Destination or outputs come first, then sources, constants and the count.
// A count of 0 or less writes nothing unless noted; so does a NULL pointer.
// Results are computed in at least double precision and stored as single
// (ArrayAddW stores double). Element i of the sources is read before element
// i of the destination is written, so a destination may be a source of the
// same element type. No function allocates or keeps a pointer.
#pragma once
#include <windef.h>

// dst[i] = a[i] op b[i]
DLL_EXPORT void WINAPI ArrayAdd(FLOAT* dst, const FLOAT* a, const FLOAT* b, LONG n);
DLL_EXPORT void WINAPI ArraySub(FLOAT* dst, const FLOAT* a, const FLOAT* b, LONG n);
DLL_EXPORT void WINAPI ArrayMul(FLOAT* dst, const FLOAT* a, const FLOAT* b, LONG n);
DLL_EXPORT void WINAPI ArrayDiv(FLOAT* dst, const FLOAT* a, const FLOAT* b, LONG n);

// dst[i] = src[i] + c; a c equal to 0 (also -0.0) copies the 32-bit words
// bit for bit, so the call doubles as an array copy.
DLL_EXPORT void WINAPI ArrayAddC(FLOAT* dst, const FLOAT* src, FLOAT c, LONG n);
// dst[i] = src[i] - c, c * src[i], src[i] / c
DLL_EXPORT void WINAPI ArraySubC(FLOAT* dst, const FLOAT* src, FLOAT c, LONG n);
DLL_EXPORT void WINAPI ArrayMulC(FLOAT* dst, const FLOAT* src, FLOAT c, LONG n);
DLL_EXPORT void WINAPI ArrayDivC(FLOAT* dst, const FLOAT* src, FLOAT c, LONG n);
// dst[i] = c - src[i], c / src[i]: the constant comes before the array.
DLL_EXPORT void WINAPI ArraySubCA(FLOAT* dst, FLOAT c, const FLOAT* src, LONG n);
DLL_EXPORT void WINAPI ArrayDivCA(FLOAT* dst, FLOAT c, const FLOAT* src, LONG n);

// dst[i] = a[i] + b[i] in double precision.
DLL_EXPORT void WINAPI ArrayAddW(double* dst, const double* a, const FLOAT* b, LONG n);
DLL_EXPORT void WINAPI ArrayAbs(FLOAT* dst, const FLOAT* src, LONG n);
// Stores the 32-bit pattern value into n 32-bit elements.
DLL_EXPORT void WINAPI ArrayFill(void* dst, DWORD value, LONG n);

// Sum of the values; 0 when n <= 0.
DLL_EXPORT void WINAPI ArraySum(FLOAT* out, const FLOAT* src, LONG n);
// Mean and root mean square; out untouched when n <= 0.
DLL_EXPORT void WINAPI ArrayMean(FLOAT* out, const FLOAT* src, LONG n);
DLL_EXPORT void WINAPI ArrayRms(FLOAT* out, const FLOAT* src, LONG n);
// Sample standard deviation (divides by n - 1); 0 when n <= 1. Any n, any
// thread.
DLL_EXPORT void WINAPI ArrayStdDev(FLOAT* out, const FLOAT* src, LONG n);
// Largest and smallest value; when n <= 0 both receive src[0].
DLL_EXPORT void WINAPI ArrayMaxMin(FLOAT* outMax, FLOAT* outMin, const FLOAT* src, LONG n);
// The extreme value is always written (src[0] when n <= 0). The index of
// its first occurrence is written only when an element after src[0]
// replaced src[0] as the extreme; otherwise outIndex keeps what it held.
DLL_EXPORT void WINAPI ArrayMaxIndex(FLOAT* outMax, LONG* outIndex, const FLOAT* src, LONG n);
DLL_EXPORT void WINAPI ArrayMinIndex(FLOAT* outMin, LONG* outIndex, const FLOAT* src, LONG n);

// Moves the 32-bit elements buf[start ... start + count - 1] by offset
// places and clears the cells the block left. Nothing happens unless the
// block and its new place both lie within buf[0 ... length - 1].
DLL_EXPORT void WINAPI ArrayShift(void* buf, LONG start, LONG count, LONG offset, LONG length);
// dst[k] = src[k * step] (32-bit elements) while k * step < n. Returns the
// first multiple of step that is not below n; 0 when step < 1 or n < 1.
DLL_EXPORT LONG WINAPI ArrayDecimate(void* dst, const void* src, LONG step, LONG n);

// Conversions. The float-to-integer ones truncate toward zero; NaN and
// values outside the 32-bit range give INT32_MIN, of which FloatToInt16
// keeps, like every value, the low 16 bits (here 0).
DLL_EXPORT void WINAPI DoubleToFloat(FLOAT* dst, const double* src, LONG n);
DLL_EXPORT void WINAPI FloatToDouble(double* dst, const FLOAT* src, LONG n);
DLL_EXPORT void WINAPI Int16ToFloat(FLOAT* dst, const SHORT* src, LONG n);
DLL_EXPORT void WINAPI Int32ToFloat(FLOAT* dst, const LONG* src, LONG n);
DLL_EXPORT void WINAPI FloatToInt32(LONG* dst, const FLOAT* src, LONG n);
DLL_EXPORT void WINAPI FloatToInt16(SHORT* dst, const FLOAT* src, LONG n);
