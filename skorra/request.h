// The request frame every driver call shares: input {n, arguments...},
// output {status, data...}.
#pragma once
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <cstring>

#include "library.h"

namespace skorra {

// Sends one buffered request. The reply is zeroed first, so a failed call
// never leaves stale data behind; its system error is mapped to a result.
// Returns the reply's status dword otherwise.
uint32_t transact(HANDLE driver, uint32_t fn, const void* in, DWORD inSize, void* out, DWORD outSize);
// The same under the library lock.
uint32_t transactLocked(HANDLE driver, uint32_t fn, const void* in, DWORD inSize, void* out, DWORD outSize);

// A request of dword fields: {n, args...} in, {status, values...} out.
template <size_t InDwords, size_t OutDwords = InDwords>
struct Dwords {
  uint32_t in[InDwords] = {};
  uint32_t out[OutDwords] = {};
  uint32_t send(HANDLE driver, uint32_t fn, bool locked = true) {
    return locked ? transactLocked(driver, fn, in, sizeof in, out, sizeof out)
                  : transact(driver, fn, in, sizeof in, out, sizeof out);
  }
};

// The device behind a handle: its number and the driver handle to use.
struct Device {
  int n = -1;
  HANDLE driver = INVALID_HANDLE_VALUE;
  DeviceSlot* slot = nullptr;
  explicit operator bool() const { return n > 0; }
};
Device lookup(HANDLE h);

// A request of only {n} plus room for replies of `dwords` dwords in all.
uint32_t simpleRequest(const Device& d, uint32_t fn, uint32_t dwords, uint32_t* reply = nullptr,
                       bool locked = true);

// Capability record of the device (function 0x901).
uint32_t deviceInfo(const Device& d, SkDeviceInfo& info, bool locked = true);
// The sampling state (function 0xACA): reply dword 1.
uint32_t samplingState(const Device& d, uint32_t& state);

// Whether the request behind an overlapped record has completed; the
// platform completes it from another thread.
inline bool requestDone(OVERLAPPED& ov) {
  return std::atomic_ref<ULONG_PTR>(ov.Internal).load() != STATUS_PENDING_VALUE;
}

// The driver-side event value passed with every start (-1 on NT).
inline constexpr uint32_t kNoDriverEvent = 0xFFFFFFFFu;

}  // namespace skorra
