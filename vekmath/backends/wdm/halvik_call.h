// One call through the Halvik table. An entry this Halvik lacks answers
// 20001, its "function can't be used", so a missing function is reported
// like any other refusal.
#pragma once
#include <cstdint>

#include "backends/wdm/halvik_binding.h"

namespace vekmath {

inline constexpr int32_t kHalvikFunctionMissing = 20001;

template <auto Entry, typename... Args>
int32_t callHalvik(Args... args) {
  const auto entry = halvik().*Entry;
  return entry != nullptr ? static_cast<int32_t>(entry(args...)) : kHalvikFunctionMissing;
}

}  // namespace vekmath
