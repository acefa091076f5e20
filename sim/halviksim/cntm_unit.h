// The multi-function counter of one simulated device: eight 32-bit channels
// that count the pulses a test feeds them while they run (up, or down once
// their count direction is 1), the notifications the library switched on,
// and the events those raise, kept until the library's event read takes
// them. The event wait stays pending until events are due (the time-up
// wait of the bus library's units likewise). Thread-safe.
#pragma once
#include <windows.h>
#include <platform/device.h>

#include <array>
#include <cstdint>
#include <deque>
#include <mutex>
#include <vector>

#include "pending_waits.h"

namespace halviksim {

class CntmUnit {
 public:
  static constexpr int kChannels = 8;
  static constexpr int kRows = 2;
  static constexpr int kEntries = 1024;  // per kind and read

  struct Channel {
    uint32_t count = 0;
    bool running = false;
    std::array<int16_t, 12> block{};  // the channel block's int16 fields, by offset / 2
  };
  // What one event read gives.
  struct Events {
    struct CountUp {
      int row, channel;
      int16_t flag;
      int32_t value;
    };
    struct OnChannel {
      int channel;
      int16_t value;  // the error kind, or the carry (1) or borrow (2)
    };
    std::vector<CountUp> countUps;
    std::vector<OnChannel> errors[3];
    std::vector<OnChannel> carryBorrows;
    int timers = 0;
    // Counts the read reports in place of the true ones (a faulty driver).
    bool forced = false;
    int16_t channels = 0, rows = 0, entries = 0;
  };

  CntmUnit();

  Channel channel(int c);
  void setBlock(int c, const std::array<int16_t, 12>& block);
  void setRunning(int c, bool running);
  void setCount(int c, uint32_t count);

  void notifyCountUp(int row, int c, int32_t value, bool on);
  void notifyErrors(bool on);
  void notifyCarryBorrow(bool on);
  void notifyTimer(bool on);
  uint8_t digitalOutput();
  void setDigitalOutputBit(int bit, bool on);

  // The inputs of a test.
  void pulse(int c, int64_t pulses);
  void counterError(int c, int kind);
  void timerTicks(int ticks);
  void forceCounts(int16_t channels, int16_t rows, int16_t entries);
  Events takeEvents();

  // Time-ups of a bus library unit.
  void enableTimeUp(int32_t value);
  void timeUp(int count);
  int32_t takeTimeUps();

  // A kernel wait: false when events are due already (answered at once).
  bool queueWait(PlatRequest* request);
  // A sibling wait, with its OVERLAPPED; false when due already (its event
  // is set then too).
  bool queueTimeUpWait(HANDLE handle, OVERLAPPED* overlapped, void* record);
  void cancelWaits(HANDLE handle);

 private:
  bool dueLocked() const;
  PendingWaits::Batch dueWaitsLocked();

  std::mutex mutex_;
  std::array<Channel, kChannels> channels_{};
  struct Match {
    bool on = false;
    int32_t value = 0;
  };
  Match countUp_[kRows][kChannels];
  bool errorsOn_ = false, carryBorrowOn_ = false, timerOn_ = false;
  uint8_t digitalOutput_ = 0;
  Events events_;
  PendingWaits waits_;
  bool timeUpOn_ = false;
  int32_t timeUps_ = 0;
  PendingWaits timeUpWaits_;
};

}  // namespace halviksim
