// The record every process of the trace log shares, and the lock that keeps
// its writers apart.
//
//   +0  int16  first-writer flag (1 once the header is written)
//   +4  uint32 lock word: the pid of the process placing text, 0 when free
//   +8  int32  running total: bytes written since the log last started at 0
#pragma once
#include <cstddef>
#include <cstdint>

namespace halvik {

inline constexpr size_t kTraceRecordSize = 12;

class TraceLogShared {
 public:
  explicit TraceLogShared(void* record) : base_(static_cast<unsigned char*>(record)) {}

  int16_t& firstWriterFlag() { return *reinterpret_cast<int16_t*>(base_); }
  int32_t& runningTotal() { return *reinterpret_cast<int32_t*>(base_ + 8); }

  // Spins until this process holds the lock. A holder that died with it is
  // seen and its lock taken over, so a crash never stops the other writers.
  void lock();
  void unlock();

 private:
  unsigned char* base_;
};

class TraceLogSharedLock {
 public:
  explicit TraceLogSharedLock(TraceLogShared& shared) : shared_(shared) { shared_.lock(); }
  ~TraceLogSharedLock() { shared_.unlock(); }
  TraceLogSharedLock(const TraceLogSharedLock&) = delete;
  TraceLogSharedLock& operator=(const TraceLogSharedLock&) = delete;

 private:
  TraceLogShared& shared_;
};

}  // namespace halvik
