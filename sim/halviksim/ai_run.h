// The analog-input acquisition of one simulated device: a run samples the
// known signal (halvikdrv.h) at the configured clock into bounded storage,
// from its start trigger on until its stop times, its stop trigger and
// delay, or a stop request; it raises its factor bits and completes the
// event waits that are pending.
// Time is the monotonic clock, or a virtual one that only tests move.
// Thread-safe.
#pragma once
#include <windows.h>
#include <platform/device.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

#include "ai_host_ring.h"
#include "ai_trigger.h"
#include "pending_waits.h"

namespace halviksim {

struct AiConfig {
  int channels = 1;
  std::vector<int16_t> sequence;  // the channel of each sequence entry
  double clockUs = 1000.0;        // microseconds per scan
  bool byCommand = false;         // only a stop request ends the run
  int64_t stopTimes = 0;          // scans per pass; 0: the run goes on until stopped
  int64_t repeatTimes = 0;        // passes; 0 and 1: one
  int64_t eventEvery = 0;         // the data-count event every so many scans; 0: none
  int bits = 16;
  AiCondition startOn;            // None: the run takes scans from its start
  AiCondition stopOn;             // None: the stop times (or the stop request) end it
  int64_t stopDelay = 0;          // scans taken after the one that met the stop trigger
};

// What an event fetch gives: the occurrences since the last fetch.
struct AiFetch {
  int32_t mask = 0;
  int32_t factor = 0;  // the OR of the list
  int64_t samplingCount = 0;
  int64_t repeatCount = 0;
  std::vector<int32_t> list;
  bool end = false;
};

class AiRun {
 public:
  static constexpr int64_t kDefaultCap = 1 << 20;  // scans
  static constexpr size_t kListCapacity = 256;

  AiRun();
  ~AiRun();
  AiRun(const AiRun&) = delete;
  AiRun& operator=(const AiRun&) = delete;

  void setVirtualClock(bool on);
  void advance(int64_t microseconds);
  void setCap(int64_t scans);
  int64_t dropped();

  void setMask(int32_t mask);
  void start(const AiConfig& config);
  void stop();
  int32_t statusBits();
  void changeStatusBit(int32_t bit, bool clear);
  void resetStatus();
  void resetMemory();
  int64_t samplingCount();
  int64_t repeatCount();
  // The scans taken up to the one that met the stop trigger; 0 before.
  int64_t stopTriggerCount();

  // Moves up to `scans` stored scans (channels values each) into out; the
  // number delivered.
  int64_t readScans(int64_t scans, int32_t* out);
  // The same by values: a read may end inside a scan.
  int64_t readValues(int64_t values, uint16_t* out);
  // An immediate conversion of one channel at the current scan.
  int32_t convert(int channel, int bits);

  // A kernel wait: false when events are due already (the caller answers it
  // at once); true when the request is kept pending.
  bool queueWait(PlatRequest* request);
  // A sibling wait: false when events are due already; true when kept
  // pending, the OVERLAPPED marked pending and set when they are.
  bool queueWait(HANDLE handle, OVERLAPPED* overlapped, void* record);
  // A closed sibling handle: its waits complete as cancelled.
  void cancelWaits(HANDLE handle);
  AiFetch fetch();
  void queueEvents(const std::vector<int32_t>& factors, bool end);

  // A buffer handed over by the library takes the scans in place of the
  // storage (ai_host_ring.h); refresh() brings the run up to now first.
  HostBuffer& hostBuffer() { return hostBuffer_; }
  void refresh();

 private:
  using Clock = std::chrono::steady_clock;

  int64_t nowLocked() const;
  void updateLocked();
  void produceLocked(int64_t to);
  void raiseLocked(int32_t factor);
  void finishLocked();
  bool dueLocked() const { return !events_.empty() || endPending_; }
  PendingWaits::Batch takeDueLocked();
  int64_t storedLocked() const;
  int64_t nextDueScanLocked() const;
  int32_t valueLocked(int64_t scan, int entry) const;
  // Updates, then completes the waits that became due, outside the lock.
  template <class Work>
  auto updated(Work work);
  void startTickerLocked();
  void tick();

  std::mutex mutex_;
  std::condition_variable wake_;
  bool virtual_ = false;
  int64_t virtualNow_ = 0;
  const Clock::time_point origin_ = Clock::now();

  AiConfig config_;
  int32_t mask_ = 0;
  bool running_ = false;
  int64_t startUs_ = 0;
  int64_t endScan_ = -1;     // -1: until stopped
  int64_t produced_ = 0;     // scans of this run so far
  int64_t firstScan_ = 0;    // the scan since the start that was taken first
  bool awaitingStart_ = false;
  AiTriggerWatch startWatch_;
  AiTriggerWatch stopWatch_;
  int64_t stopTriggerCount_ = 0;
  int64_t repeats_ = 0;
  int32_t bits_ = 0;         // status bits besides running
  int64_t cap_ = kDefaultCap;
  int64_t dropped_ = 0;
  std::deque<std::pair<int64_t, int64_t>> stored_;  // {first scan, scans}, oldest first
  int64_t valueCursor_ = 0;  // values of the oldest stored scan read already

  std::vector<int32_t> events_;
  bool endPending_ = false;
  PendingWaits waits_;

  bool quit_ = false;
  bool ticking_ = false;
  // The ticker is detached (devices live as long as the process); the
  // destructor waits for it to leave instead of joining it.
  std::condition_variable tickerGone_;
  HostBuffer hostBuffer_;
};

}  // namespace halviksim
