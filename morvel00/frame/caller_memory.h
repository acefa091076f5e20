// Every copy into or out of a caller's memory. The frame's probe tells what
// was true when the request arrived; the caller can give the memory up
// while a handler works, so each copy goes through the kernel layer's
// fault-safe copy, and one that fails answers what the probe would have.
#pragma once
#include <ntkrnl/ntddk.h>

#include <cstddef>
#include <cstdint>

namespace morvel00 {

// The copy's failure as the caller is told it: its memory out of reach is
// STATUS_INVALID_USER_BUFFER; a shortage of the system's (the copy found no
// descriptor for its pipe) stays STATUS_INSUFFICIENT_RESOURCES.
inline NTSTATUS XanCallerCopyStatus(NTSTATUS status) {
  if (NT_SUCCESS(status) || status == STATUS_INSUFFICIENT_RESOURCES) return status;
  return STATUS_INVALID_USER_BUFFER;
}

// STATUS_SUCCESS or XanCallerCopyStatus's failure (then part of a copy to
// the caller may have landed).
inline NTSTATUS XanCopyFromCaller(void* to, uint64_t address, size_t bytes) {
  return XanCallerCopyStatus(
      SafeCopyFromUser(to, reinterpret_cast<const void*>(static_cast<uintptr_t>(address)), bytes));
}
inline NTSTATUS XanCopyToCaller(uint64_t address, const void* from, size_t bytes) {
  return XanCallerCopyStatus(SafeCopyToUser(reinterpret_cast<void*>(static_cast<uintptr_t>(address)), from, bytes));
}
template <typename T>
NTSTATUS XanStoreToCaller(uint64_t address, T value) {
  return XanCopyToCaller(address, &value, sizeof value);
}

// Values bound for a caller's array, handed over a chunk at a time: for the
// reads that take them one by one from a board's data port.
class XanCallerArray {
 public:
  explicit XanCallerArray(uint64_t address) : next_(address) {}
  XanCallerArray(const XanCallerArray&) = delete;
  XanCallerArray& operator=(const XanCallerArray&) = delete;

  // False once a hand-over has failed; nothing more is taken then.
  bool put(uint16_t value) {
    chunk_[held_++] = value;
    if (held_ == kChunk) flush();
    return NT_SUCCESS(status_);
  }
  // Hands over what is held; the status of every hand-over.
  NTSTATUS finish() {
    flush();
    return status_;
  }

 private:
  static constexpr size_t kChunk = 1024;
  void flush() {
    if (held_ != 0 && NT_SUCCESS(status_)) {
      status_ = XanCopyToCaller(next_, chunk_, held_ * sizeof(uint16_t));
      next_ += held_ * sizeof(uint16_t);
    }
    held_ = 0;
  }

  uint64_t next_;
  uint16_t chunk_[kChunk];
  size_t held_ = 0;
  NTSTATUS status_ = STATUS_SUCCESS;
};

}  // namespace morvel00
