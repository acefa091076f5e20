// Request records that carry a buffer address hold it in a 64-bit field
// where it stands (the records themselves are in skorradev.h).
#pragma once
#include <cstdint>

namespace skorra {

inline uint64_t addressOf(const void* p) { return reinterpret_cast<uintptr_t>(p); }

}  // namespace skorra
