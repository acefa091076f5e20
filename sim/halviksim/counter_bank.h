// The counter channels of one simulated device. A counting channel counts
// the pulses of its simulated input (PulseCounter); each count that equals
// one of the channel's comparison values raises the data-number word 0x10
// with that count; a stop of a counting channel raises the end word 0x1
// and tells the next event read that the run is over.
//
// The comparison values are read through the address the comparison
// register carries: ComparisonNumber int32 values (at most kCompareMax).
// The preset register only keeps its settings; a preset loads the count.
#pragma once
#include <cstdint>
#include <mutex>
#include <vector>

#include "unit_events.h"

namespace halviksim {

class CounterBank {
 public:
  static constexpr int32_t kWordEnd = 0x1;
  static constexpr int32_t kWordCompare = 0x10;
  static constexpr size_t kCompareMax = 256;

  UnitEvents& events() { return events_; }

  void start(int channel);
  // false when the channel was not counting (nothing is raised then).
  bool stop(int channel);
  bool counting(int channel);
  void preset(int channel, int32_t value);
  int32_t count(int channel);
  void setComparison(int channel, const int32_t* values, int64_t number);
  void pulse(int channel, int64_t pulses);

 private:
  struct Channel {
    bool counting = false;
    int32_t count = 0;
    std::vector<int32_t> compare;
  };
  static bool valid(int channel) { return channel >= 0 && channel < UnitEvents::kUnits; }

  std::mutex mutex_;
  Channel channels_[UnitEvents::kUnits];
  UnitEvents events_;
};

}  // namespace halviksim
