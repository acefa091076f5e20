// Block moves and decimation on 32-bit elements of any type; copies go by
// bytes so that float and integer arrays alike pass unchanged.
#include <cstdint>
#include <cstring>

#include "vekmath.h"

namespace {

constexpr size_t kElement = 4;

}  // namespace

DLL_EXPORT void WINAPI ArrayShift(void* buf, LONG start, LONG count, LONG offset, LONG length) {
  if (buf == nullptr || count <= 0) return;
  // In 64 bits: start + count + offset must not wrap around.
  const int64_t from = start;
  const int64_t to = from + offset;
  const int64_t end = from + count;
  // The block must lie in the buffer where it is and where it goes; a block
  // that only its new place keeps inside would be read, and cleared, past
  // the end.
  if (from < 0 || to < 0 || end > length || to + count > length) return;
  auto* bytes = static_cast<unsigned char*>(buf);
  std::memmove(bytes + to * kElement, bytes + from * kElement, static_cast<size_t>(count) * kElement);
  if (offset < 0) {
    // The |offset| cells after the moved block.
    std::memset(bytes + (to + count) * kElement, 0, static_cast<size_t>(-static_cast<int64_t>(offset)) * kElement);
  } else {
    // The offset cells before it.
    std::memset(bytes + from * kElement, 0, static_cast<size_t>(offset) * kElement);
  }
}

DLL_EXPORT LONG WINAPI ArrayDecimate(void* dst, const void* src, LONG step, LONG n) {
  // A step below 1 would never reach n.
  if (dst == nullptr || src == nullptr || step < 1 || n < 1) return 0;
  auto* out = static_cast<unsigned char*>(dst);
  const auto* in = static_cast<const unsigned char*>(src);
  int64_t index = 0;
  for (size_t k = 0; index < n; ++k, index += step) {
    std::memmove(out + k * kElement, in + static_cast<size_t>(index) * kElement, kElement);
  }
  // n and step up to 2^31 - 1 can put the first multiple past the 32-bit range.
  return index > INT32_MAX ? INT32_MAX : static_cast<LONG>(index);
}
