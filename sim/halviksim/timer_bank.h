// The interval timers and time counters of one simulated device, on the
// device's virtual clock: time moves only by AdvanceTime and by the
// driver's own waits (XanTmWait passes its time). Intervals, laps and
// waits are in milliseconds. Every elapsed interval of a running timer
// raises the tick word 0x1; a stop of a running interval timer tells the
// next event read that the run is over. Status bits as halvikdrv.h gives
// them (0x1 something runs, 0x2 the interval timer, 0x4 the time counter).
#pragma once
#include <cstdint>
#include <mutex>

#include "unit_events.h"

namespace halviksim {

class TimerBank {
 public:
  static constexpr int32_t kWordTick = 0x1;

  UnitEvents& events() { return events_; }

  void advance(int64_t microseconds);
  int64_t nowUs();

  void startInterval(int timer, int32_t intervalMs);
  // false when the interval timer was not running.
  bool stopInterval(int timer);
  void startCount(int timer);
  void stopCount(int timer);
  void resetCount(int timer);
  int32_t lapMs(int timer);
  int32_t statusBits(int timer);

 private:
  struct Timer {
    bool interval = false;
    int64_t periodUs = 0;
    int64_t nextTickUs = 0;
    bool counting = false;
    int64_t countFromUs = 0;
    int64_t countedUs = 0;  // up to the last stop
  };
  static bool valid(int timer) { return timer >= 0 && timer < UnitEvents::kUnits; }

  std::mutex mutex_;
  int64_t nowUs_ = 0;
  Timer timers_[UnitEvents::kUnits];
  UnitEvents events_;
};

}  // namespace halviksim
