// Conversions between the sample types of the library's callers.
#include <cmath>
#include <cstdint>

#include "arrays/element_loop.h"
#include "vekmath.h"

using vekmath::forEachElement;

namespace {

// Truncation toward zero. NaN and values outside the 32-bit range have no
// C++ result; they give the "integer indefinite" pattern 0x80000000 that
// the conversion instruction of the 32-bit processors returns for them.
int32_t truncateToInt32(float x) {
  // 2^31 is exact in single; every single below it truncates into range.
  constexpr float kLimit = 2147483648.0f;
  if (!(x >= -kLimit && x < kLimit)) return INT32_MIN;
  return static_cast<int32_t>(x);
}

}  // namespace

DLL_EXPORT void WINAPI DoubleToFloat(FLOAT* dst, const double* src, LONG n) {
  forEachElement(dst, src, n, [](double x) { return static_cast<float>(x); });
}

DLL_EXPORT void WINAPI FloatToDouble(double* dst, const FLOAT* src, LONG n) {
  forEachElement(dst, src, n, [](float x) { return static_cast<double>(x); });
}

DLL_EXPORT void WINAPI Int16ToFloat(FLOAT* dst, const SHORT* src, LONG n) {
  forEachElement(dst, src, n, [](int16_t x) { return static_cast<float>(x); });
}

DLL_EXPORT void WINAPI Int32ToFloat(FLOAT* dst, const LONG* src, LONG n) {
  forEachElement(dst, src, n, [](int32_t x) { return static_cast<float>(x); });
}

DLL_EXPORT void WINAPI FloatToInt32(LONG* dst, const FLOAT* src, LONG n) {
  forEachElement(dst, src, n, truncateToInt32);
}

DLL_EXPORT void WINAPI FloatToInt16(SHORT* dst, const FLOAT* src, LONG n) {
  // The low 16 bits of the 32-bit result: values outside the 16-bit range wrap.
  forEachElement(dst, src, n,
                 [](float x) { return static_cast<int16_t>(static_cast<uint32_t>(truncateToInt32(x)) & 0xFFFFu); });
}
