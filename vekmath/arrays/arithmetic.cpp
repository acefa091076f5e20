// Element-wise arithmetic on float arrays. Each result is computed in double
// and rounded once to single; for one operation on two singles that equals
// the correctly rounded single result.
#include <cmath>
#include <cstring>

#include "arrays/element_loop.h"
#include "vekmath.h"

using vekmath::forEachElement;
using vekmath::forEachPair;
using vekmath::single;

namespace {

double wide(float x) { return static_cast<double>(x); }

}  // namespace

DLL_EXPORT void WINAPI ArrayAdd(FLOAT* dst, const FLOAT* a, const FLOAT* b, LONG n) {
  forEachPair(dst, a, b, n, [](float x, float y) { return single(wide(x) + wide(y)); });
}

DLL_EXPORT void WINAPI ArraySub(FLOAT* dst, const FLOAT* a, const FLOAT* b, LONG n) {
  forEachPair(dst, a, b, n, [](float x, float y) { return single(wide(x) - wide(y)); });
}

DLL_EXPORT void WINAPI ArrayMul(FLOAT* dst, const FLOAT* a, const FLOAT* b, LONG n) {
  forEachPair(dst, a, b, n, [](float x, float y) { return single(wide(x) * wide(y)); });
}

DLL_EXPORT void WINAPI ArrayDiv(FLOAT* dst, const FLOAT* a, const FLOAT* b, LONG n) {
  forEachPair(dst, a, b, n, [](float x, float y) { return single(wide(x) / wide(y)); });
}

DLL_EXPORT void WINAPI ArrayAddC(FLOAT* dst, const FLOAT* src, FLOAT c, LONG n) {
  if (c == 0.0f) {
    // Callers use it as their copy: NaN payloads and -0.0 must pass unchanged.
    if (dst != nullptr && src != nullptr && n > 0) std::memmove(dst, src, static_cast<size_t>(n) * sizeof(FLOAT));
    return;
  }
  forEachElement(dst, src, n, [c](float x) { return single(wide(x) + wide(c)); });
}

DLL_EXPORT void WINAPI ArraySubC(FLOAT* dst, const FLOAT* src, FLOAT c, LONG n) {
  forEachElement(dst, src, n, [c](float x) { return single(wide(x) - wide(c)); });
}

DLL_EXPORT void WINAPI ArrayMulC(FLOAT* dst, const FLOAT* src, FLOAT c, LONG n) {
  forEachElement(dst, src, n, [c](float x) { return single(wide(c) * wide(x)); });
}

DLL_EXPORT void WINAPI ArrayDivC(FLOAT* dst, const FLOAT* src, FLOAT c, LONG n) {
  forEachElement(dst, src, n, [c](float x) { return single(wide(x) / wide(c)); });
}

DLL_EXPORT void WINAPI ArraySubCA(FLOAT* dst, FLOAT c, const FLOAT* src, LONG n) {
  forEachElement(dst, src, n, [c](float x) { return single(wide(c) - wide(x)); });
}

DLL_EXPORT void WINAPI ArrayDivCA(FLOAT* dst, FLOAT c, const FLOAT* src, LONG n) {
  forEachElement(dst, src, n, [c](float x) { return single(wide(c) / wide(x)); });
}

DLL_EXPORT void WINAPI ArrayAddW(double* dst, const double* a, const FLOAT* b, LONG n) {
  forEachPair(dst, a, b, n, [](double x, float y) { return x + wide(y); });
}

DLL_EXPORT void WINAPI ArrayAbs(FLOAT* dst, const FLOAT* src, LONG n) {
  forEachElement(dst, src, n, [](float x) { return std::fabs(x); });
}

DLL_EXPORT void WINAPI ArrayFill(void* dst, DWORD value, LONG n) {
  if (dst == nullptr || n <= 0) return;
  auto* bytes = static_cast<unsigned char*>(dst);
  // Byte copies: the elements may be floats or integers of the caller's.
  for (LONG i = 0; i < n; ++i) std::memcpy(bytes + static_cast<size_t>(i) * sizeof value, &value, sizeof value);
}
