// Bytes that end right before a page without access: a read or write past
// their end stops the test at the faulting access instead of going unseen.
#pragma once
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>

class GuardedBytes {
 public:
  explicit GuardedBytes(size_t size) {
    const size_t page = static_cast<size_t>(::sysconf(_SC_PAGESIZE));
    span_ = (size + page - 1) / page * page + page;
    void* base = ::mmap(nullptr, span_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (base == MAP_FAILED) return;
    base_ = static_cast<uint8_t*>(base);
    if (::mprotect(base_ + span_ - page, page, PROT_NONE) == 0) data_ = base_ + span_ - page - size;
  }
  ~GuardedBytes() {
    if (base_ != nullptr) ::munmap(base_, span_);
  }
  GuardedBytes(const GuardedBytes&) = delete;
  GuardedBytes& operator=(const GuardedBytes&) = delete;
  // nullptr when the pages could not be had.
  uint8_t* data() const { return data_; }

 private:
  uint8_t* base_ = nullptr;
  uint8_t* data_ = nullptr;
  size_t span_ = 0;
};
