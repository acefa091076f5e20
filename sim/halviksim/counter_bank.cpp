#include "counter_bank.h"

#include <algorithm>

namespace halviksim {

void CounterBank::start(int channel) {
  if (!valid(channel)) return;
  events_.clear(channel);
  std::lock_guard<std::mutex> lock(mutex_);
  channels_[channel].counting = true;
}

bool CounterBank::stop(int channel) {
  if (!valid(channel)) return false;
  int32_t count = 0;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!channels_[channel].counting) return false;
    channels_[channel].counting = false;
    count = channels_[channel].count;
  }
  events_.raise(channel, {kWordEnd}, count, true);
  return true;
}

bool CounterBank::counting(int channel) {
  std::lock_guard<std::mutex> lock(mutex_);
  return valid(channel) && channels_[channel].counting;
}

void CounterBank::preset(int channel, int32_t value) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (valid(channel)) channels_[channel].count = value;
}

int32_t CounterBank::count(int channel) {
  std::lock_guard<std::mutex> lock(mutex_);
  return valid(channel) ? channels_[channel].count : 0;
}

void CounterBank::setComparison(int channel, const int32_t* values, int64_t number) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!valid(channel)) return;
  const size_t n = values == nullptr || number < 0 ? 0 : std::min<size_t>(static_cast<size_t>(number), kCompareMax);
  channels_[channel].compare.assign(values, values + n);
}

// Each match is raised with its own count, so a read that finds one word
// reports the count at that word.
void CounterBank::pulse(int channel, int64_t pulses) {
  if (!valid(channel)) return;
  std::vector<int32_t> matches;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    Channel& c = channels_[channel];
    if (!c.counting) return;
    for (int64_t i = 0; i < pulses; ++i) {
      c.count = static_cast<int32_t>(static_cast<uint32_t>(c.count) + 1u);
      if (std::find(c.compare.begin(), c.compare.end(), c.count) != c.compare.end()) matches.push_back(c.count);
    }
  }
  for (int32_t count : matches) events_.raise(channel, {kWordCompare}, count, false);
}

}  // namespace halviksim
