// One call through the older library's table. An entry the library lacks
// (or a library that is not installed) answers 2, the library's own "the
// request to the board's driver cannot be made", so its absence is
// reported like a driver that cannot be reached.
#pragma once
#include <cstdint>

#include "backends/older_vendor_a/morvel_binding.h"

namespace vekmath {

inline constexpr int32_t kMorvelUnreachable = 2;

template <auto Entry, typename... Args>
int32_t callMorvel(Args... args) {
  const auto entry = morvel().*Entry;
  return entry != nullptr ? static_cast<int32_t>(entry(args...)) : kMorvelUnreachable;
}

}  // namespace vekmath
