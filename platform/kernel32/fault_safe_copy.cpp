// The copy itself is the check of caller memory: any probe before it only
// tells what was true when it ran. The system does the copy and answers a
// fault as an error, so nothing here ever touches caller memory directly.
#include <platform/fault_safe_copy.h>
#include <sys/uio.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdint>

#include "kernel32/fault_safe_copy_ways.h"

namespace plat {

namespace {

// Well under the most one call of the system moves, so that a short count
// always means a fault.
constexpr size_t kProcessVmChunk = size_t{1} << 30;

std::atomic<bool> g_processVmRefused{false};

LONG copy(void* to, const void* from, size_t length, bool toCaller) {
  if (length == 0) return PLAT_STATUS_SUCCESS;
  const auto begin = reinterpret_cast<uintptr_t>(toCaller ? to : from);
  if (to == nullptr || from == nullptr || length > UINTPTR_MAX - begin) return PLAT_STATUS_ACCESS_VIOLATION;
  if (!g_processVmRefused.load(std::memory_order_relaxed)) {
    const LONG status = copyByProcessVm(to, from, length, toCaller);
    if (status != PLAT_STATUS_NOT_IMPLEMENTED) return status;
    g_processVmRefused.store(true, std::memory_order_relaxed);
  }
  return copyThroughPipe(to, from, length);
}

}  // namespace

LONG copyByProcessVm(void* to, const void* from, size_t length, bool toCaller) {
  const pid_t self = getpid();
  for (size_t done = 0; done < length;) {
    const size_t chunk = length - done < kProcessVmChunk ? length - done : kProcessVmChunk;
    iovec local{};
    iovec remote{};
    // The caller's side is the "remote" one; the system checks both.
    if (toCaller) {
      local = {const_cast<char*>(static_cast<const char*>(from)) + done, chunk};
      remote = {static_cast<char*>(to) + done, chunk};
    } else {
      local = {static_cast<char*>(to) + done, chunk};
      remote = {const_cast<char*>(static_cast<const char*>(from)) + done, chunk};
    }
    const ssize_t moved = toCaller ? process_vm_writev(self, &local, 1, &remote, 1, 0)
                                   : process_vm_readv(self, &local, 1, &remote, 1, 0);
    if (moved < 0) {
      if (errno == ENOSYS || errno == EPERM) return PLAT_STATUS_NOT_IMPLEMENTED;
      return errno == ENOMEM ? PLAT_STATUS_INSUFFICIENT_RESOURCES : PLAT_STATUS_ACCESS_VIOLATION;
    }
    if (static_cast<size_t>(moved) != chunk) return PLAT_STATUS_ACCESS_VIOLATION;
    done += chunk;
  }
  return PLAT_STATUS_SUCCESS;
}

LONG CopyToCaller(void* callerDestination, const void* source, size_t length) {
  return copy(callerDestination, source, length, true);
}

LONG CopyFromCaller(void* destination, const void* callerSource, size_t length) {
  return copy(destination, callerSource, length, false);
}

}  // namespace plat
