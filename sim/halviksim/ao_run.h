// The analog output of one simulated device: a run outputs the data in the
// device memory, or a caller's bus-master buffer, one sample of every
// channel per clock period (never faster than the model's fastest clock),
// and loops what it outputs back into a log a test reads. It raises the
// output's event bits and completes the event waits that are pending.
// Real time; thread-safe.
#pragma once
#include <windows.h>
#include <platform/device.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <vector>

#include "halviksim.h"
#include "pending_waits.h"

namespace halviksim {

struct AoConfig {
  int channels = 1;
  double clockUs = 1000.0;    // microseconds per sample
  int64_t repeatTimes = 0;    // passes over the data; 0 and 1: one
  bool byCommand = false;     // only a stop request ends the run; running dry is an underrun
  int64_t eventEvery = 0;     // the data-number event every so many samples; 0: none
  int64_t transferEvery = 0;  // the transfer event every so many buffer words; 0: none
  bool busMaster = false;     // transfer mode 1: the buffer set up is the source
};

// What an event fetch gives: the words since the last fetch.
struct AoFetch {
  int32_t mask = 0;
  std::vector<int32_t> words;
  int32_t bits = 0;
  int64_t samplingCount = 0;
  int64_t repeatCount = 0;
  bool park = false;
};

class AoRun {
 public:
  static constexpr size_t kListCapacity = 256;
  static constexpr size_t kLogCapacity = size_t{1} << 21;  // values kept for a test to read back

  AoRun();
  ~AoRun();
  AoRun(const AoRun&) = delete;
  AoRun& operator=(const AoRun&) = delete;

  // Device memory: set while stopped replaces the data, while running adds
  // to it. False when the memory cannot hold it (nothing is taken).
  bool putData(const int32_t* values, int64_t count, bool replace);
  void setMask(int32_t mask);
  void setLevel(int channel, int32_t value);

  void start(const AoConfig& config);
  void stop();
  bool running();
  int64_t samplingCount();
  int64_t repeatCount();
  void resetStatus();
  void resetMemory();

  // The bus-master buffer: the pending request 0x22E3B9 and the set-up
  // 0x222398 that names it. release() completes the request.
  LONG keepBuffer(PlatRequest* request);
  bool setUpBuffer(uint64_t address, int64_t words);
  void releaseBuffer();
  int32_t transferCount();
  int32_t transferLap();

  bool queueWait(PlatRequest* request);
  bool queueWait(HANDLE handle, OVERLAPPED* overlapped, void* record);
  void cancelWaits(HANDLE handle);
  AoFetch fetch();
  void queueEvents(const std::vector<int32_t>& words, bool park);

  AoReadBack readBack();

 private:
  using Clock = std::chrono::steady_clock;

  int64_t nowUs() const;
  void updateLocked();
  bool takeSampleLocked(int32_t* values);
  void raiseLocked(int32_t bit);
  void finishLocked(bool underrun);
  bool dueLocked() const { return !events_.empty() || parkPending_; }
  PendingWaits::Batch takeDueLocked();
  template <class Work>
  auto updated(Work work);
  static void cancelBuffer(PlatRequest* request);
  void startTickerLocked();
  void tick();

  std::mutex mutex_;
  std::condition_variable wake_;
  const Clock::time_point origin_ = Clock::now();

  AoConfig config_;
  int32_t mask_ = 0;
  bool running_ = false;
  int64_t startUs_ = 0;
  int64_t produced_ = 0;  // samples of this run so far
  int64_t total_ = -1;    // samples the run outputs; -1: until stopped
  int64_t repeats_ = 0;
  bool underrun_ = false;

  std::deque<int32_t> memory_;   // device memory, oldest first
  std::vector<int32_t> pass_;    // one pass over the device memory, taken at the start
  int64_t cursor_ = 0;           // the next value of the pass or of the buffer
  PlatRequest* bufferRequest_ = nullptr;
  int32_t* buffer_ = nullptr;    // set up: the source
  int64_t bufferWords_ = 0;
  int64_t bufferLap_ = 0;

  std::vector<int32_t> levels_;  // immediate output
  std::vector<int32_t> log_;
  int64_t logged_ = 0;

  std::vector<int32_t> events_;
  bool parkPending_ = false;
  PendingWaits waits_;

  bool quit_ = false;
  bool ticking_ = false;
  std::condition_variable tickerGone_;
};

}  // namespace halviksim
