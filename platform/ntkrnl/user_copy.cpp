// Copies to and from caller memory. The caller can give its memory up at
// any moment, after any probe of it: the copy itself has to be the check.
// The system does the copy and answers a fault as an error, so nothing here
// ever touches caller memory directly.
#include <sys/uio.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdint>

#include "user_copy.h"

namespace ntk {

namespace {

// Well under the most one call of the system moves, so that a short count
// always means a fault.
constexpr size_t kProcessVmChunk = size_t{1} << 30;

std::atomic<bool> g_processVmRefused{false};

NTSTATUS copy(void* to, const void* from, size_t length, bool toUser) {
  if (length == 0) return STATUS_SUCCESS;
  const auto begin = reinterpret_cast<uintptr_t>(toUser ? to : from);
  if (to == nullptr || from == nullptr || length > UINTPTR_MAX - begin) return STATUS_ACCESS_VIOLATION;
  if (!g_processVmRefused.load(std::memory_order_relaxed)) {
    const NTSTATUS status = copyByProcessVm(to, from, length, toUser);
    if (status != STATUS_NOT_IMPLEMENTED) return status;
    g_processVmRefused.store(true, std::memory_order_relaxed);
  }
  return copyThroughPipe(to, from, length);
}

}  // namespace

NTSTATUS copyByProcessVm(void* to, const void* from, size_t length, bool toUser) {
  const pid_t self = getpid();
  for (size_t done = 0; done < length;) {
    const size_t chunk = length - done < kProcessVmChunk ? length - done : kProcessVmChunk;
    iovec local{};
    iovec remote{};
    // The caller's side is the "remote" one; the system checks both.
    if (toUser) {
      local = {const_cast<char*>(static_cast<const char*>(from)) + done, chunk};
      remote = {static_cast<char*>(to) + done, chunk};
    } else {
      local = {static_cast<char*>(to) + done, chunk};
      remote = {const_cast<char*>(static_cast<const char*>(from)) + done, chunk};
    }
    const ssize_t moved =
        toUser ? process_vm_writev(self, &local, 1, &remote, 1, 0) : process_vm_readv(self, &local, 1, &remote, 1, 0);
    if (moved < 0) {
      if (errno == ENOSYS || errno == EPERM) return STATUS_NOT_IMPLEMENTED;
      return errno == ENOMEM ? STATUS_INSUFFICIENT_RESOURCES : STATUS_ACCESS_VIOLATION;
    }
    if (static_cast<size_t>(moved) != chunk) return STATUS_ACCESS_VIOLATION;
    done += chunk;
  }
  return STATUS_SUCCESS;
}

}  // namespace ntk

NTKRNL_API NTSTATUS NTAPI SafeCopyToUser(volatile VOID* UserDestination, const VOID* Source, SIZE_T Length) {
  return ntk::copy(const_cast<VOID*>(UserDestination), Source, Length, true);
}

NTKRNL_API NTSTATUS NTAPI SafeCopyFromUser(VOID* Destination, const volatile VOID* UserSource, SIZE_T Length) {
  return ntk::copy(Destination, const_cast<const VOID*>(UserSource), Length, false);
}
