// The bounds and sums every waveform operation checks before it touches
// memory or hands an address to the processing library.
#pragma once
#include <cstdint>
#include <stdexcept>
#include <string>

namespace orvane::core::wave {

// a + b, or std::overflow_error when the sum leaves the 32-bit range.
inline int32_t CheckedSum(int32_t a, int32_t b) {
  int32_t sum = 0;
  if (__builtin_add_overflow(a, b, &sum)) throw std::overflow_error("Overflow");
  return sum;
}

inline int32_t CheckedProduct(int32_t a, int32_t b) {
  int32_t product = 0;
  if (__builtin_mul_overflow(a, b, &product)) throw std::overflow_error("Overflow");
  return product;
}

[[noreturn]] inline void SubscriptError() { throw std::out_of_range("Subscript out of range"); }

// An element index into an array of size elements.
inline void CheckIndex(int64_t index, int64_t size) {
  if (index < 0 || index >= size) SubscriptError();
}

// A segment start .. start + width - 1 of an array of size elements: start
// must name an element (its address is taken even for an empty segment) and
// the segment must end inside the array.
inline void CheckSegment(int32_t start, int32_t width, int64_t size) {
  CheckIndex(start, size);
  if (width < 0 || static_cast<int64_t>(start) + width > size) SubscriptError();
}

// The entry point, or a clear error when the loaded library lacks it.
template <class Fn>
Fn Need(Fn fn, const char* name) {
  if (fn == nullptr) throw std::runtime_error(std::string("Vekmath.dll has no entry point ") + name);
  return fn;
}

}  // namespace orvane::core::wave
