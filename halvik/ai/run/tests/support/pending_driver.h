// A kernel driver for the run tests that keeps the event wait pending until
// the test completes it, answers the fetch from a script, and registers one
// open device with it.
#pragma once
#include <windows.h>

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <vector>

#include <platform/device.h>

#include "device_record.h"

namespace halvik::testing {

struct FetchScript {
  int32_t mask = 0;
  int32_t factor = 0;
  int32_t sampling = 0;
  int32_t repeat = 0;
  bool end = false;
  int32_t status = 0;
  std::vector<int32_t> list = {};
};

class PendingDriver {
 public:
  explicit PendingDriver(int16_t id);
  ~PendingDriver();
  PendingDriver(const PendingDriver&) = delete;
  PendingDriver& operator=(const PendingDriver&) = delete;

  DeviceRecord& record() { return *record_; }

  // Completes the pending wait; the next fetch answers `fetch`.
  void complete(const FetchScript& fetch);
  // Waits (at most 5 s) until `n` waits have been handed over in all.
  bool waitsReach(int n);
  int waits();
  int cancelled();
  bool pending();

  int32_t statusBits = 0;  // the status reading
  int32_t stopStatus = 0;  // what the stop answers

  static LONG dispatch(PlatRequest* request);
  static void cancel(PlatRequest* request);

 private:
  std::mutex m_;
  std::condition_variable cv_;
  PlatRequest* wait_ = nullptr;
  int waits_ = 0, cancelled_ = 0;
  FetchScript fetch_;
  std::string name_;
  DeviceRecord* record_;
};

}  // namespace halvik::testing
