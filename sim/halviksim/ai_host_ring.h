// The buffer a library hands the simulated driver (halvikdrv.h, "Analog
// input into a host buffer"): the pending hand-over request, the buffer it
// names, and the writer that puts a run's scans into it, either as the
// host ring's 16-bit entries or, for a caller's bus-master buffer, one
// 32-bit word per value. Thread-safe; a run holds its own lock around
// write(), so this class never calls back into the run.
#pragma once
#include <windows.h>
#include <platform/device.h>

#include <cstdint>
#include <functional>
#include <mutex>

namespace halviksim {

class HostBuffer {
 public:
  HostBuffer() = default;
  ~HostBuffer();
  HostBuffer(const HostBuffer&) = delete;
  HostBuffer& operator=(const HostBuffer&) = delete;

  // 0x22E251: keeps the request pending with its output buffer; one kept
  // before is completed first.
  LONG keep(PlatRequest* request);
  // 0x22221C: the kept request's buffer, `words` long, becomes the run's
  // destination. False when it is not the buffer of a pending hand-over.
  bool setUp(uint64_t address, int64_t words, bool ring);
  // 0x222254, a new buffer or transfer mode: the request completes and
  // nothing is written any more.
  void release();

  bool attached();
  // A new run writes from the first word on.
  void rewind();
  // Scans [from, to) of a run; true when more than the whole buffer was
  // written since the position was last read, which loses data for sure.
  bool write(int64_t from, int64_t to, int channels, const std::function<int32_t(int64_t, int)>& valueOf);
  // The transfer count (the next word written) and the lap; reading the
  // position counts as a look at it.
  int32_t position();
  int32_t lap();

 private:
  static void cancelRoutine(PlatRequest* request);
  PlatRequest* detachLocked();
  static void completeReleased(PlatRequest* request);
  void put(uint32_t word, uint32_t value);
  void step(uint32_t words);

  std::mutex mutex_;
  PlatRequest* request_ = nullptr;
  void* buffer_ = nullptr;
  uint64_t bytes_ = 0;
  uint32_t* words_ = nullptr;  // set up: the destination
  uint32_t size_ = 0;          // in words
  bool ring_ = false;
  uint32_t position_ = 0;
  uint32_t lap_ = 0;
  bool upperPending_ = false;  // one channel: the word before position_ waits for its upper half
  uint64_t sinceLook_ = 0;
};

}  // namespace halviksim
