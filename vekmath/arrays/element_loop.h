// The element-wise loop that the array exports share: one place keeps the
// count and NULL rules, each export names only its element operation.
#pragma once
#include <cstdint>

namespace vekmath {

// dst[i] = op(src[i]) for i < n; nothing when n <= 0 or a pointer is NULL.
// Element i is read before it is written, so dst may be src.
template <typename Dst, typename Src, typename Op>
inline void forEachElement(Dst* dst, const Src* src, int32_t n, Op op) {
  if (dst == nullptr || src == nullptr || n <= 0) return;
  for (int32_t i = 0; i < n; ++i) dst[i] = op(src[i]);
}

// dst[i] = op(a[i], b[i]) for i < n.
template <typename Dst, typename A, typename B, typename Op>
inline void forEachPair(Dst* dst, const A* a, const B* b, int32_t n, Op op) {
  if (dst == nullptr || a == nullptr || b == nullptr || n <= 0) return;
  for (int32_t i = 0; i < n; ++i) dst[i] = op(a[i], b[i]);
}

// Rounds a result computed in double to the single it is stored as.
inline float single(double value) { return static_cast<float>(value); }

}  // namespace vekmath
