#include "timer_bank.h"

#include <outside/halvikdrv.h>

#include <algorithm>
#include <vector>

namespace halviksim {

void TimerBank::advance(int64_t microseconds) {
  if (microseconds <= 0) return;
  int64_t ticks[UnitEvents::kUnits] = {};
  {
    std::lock_guard<std::mutex> lock(mutex_);
    nowUs_ += microseconds;
    for (int t = 0; t < UnitEvents::kUnits; ++t) {
      Timer& timer = timers_[t];
      if (!timer.interval || timer.periodUs <= 0 || timer.nextTickUs > nowUs_) continue;
      ticks[t] = (nowUs_ - timer.nextTickUs) / timer.periodUs + 1;
      timer.nextTickUs += ticks[t] * timer.periodUs;
    }
  }
  for (int t = 0; t < UnitEvents::kUnits; ++t) {
    if (ticks[t] == 0) continue;
    const auto n = static_cast<size_t>(std::min<int64_t>(ticks[t], UnitEvents::kWordsMax));
    events_.raise(t, std::vector<int32_t>(n, kWordTick), 0, false);
  }
}

int64_t TimerBank::nowUs() {
  std::lock_guard<std::mutex> lock(mutex_);
  return nowUs_;
}

void TimerBank::startInterval(int timer, int32_t intervalMs) {
  if (!valid(timer)) return;
  events_.clear(timer);
  std::lock_guard<std::mutex> lock(mutex_);
  Timer& t = timers_[timer];
  t.interval = true;
  t.periodUs = std::max<int64_t>(intervalMs, 1) * 1000;
  t.nextTickUs = nowUs_ + t.periodUs;
}

bool TimerBank::stopInterval(int timer) {
  if (!valid(timer)) return false;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!timers_[timer].interval) return false;
    timers_[timer].interval = false;
  }
  events_.raise(timer, {}, 0, true);
  return true;
}

void TimerBank::startCount(int timer) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!valid(timer)) return;
  timers_[timer].counting = true;
  timers_[timer].countFromUs = nowUs_;
}

void TimerBank::stopCount(int timer) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!valid(timer) || !timers_[timer].counting) return;
  timers_[timer].counting = false;
  timers_[timer].countedUs += nowUs_ - timers_[timer].countFromUs;
}

void TimerBank::resetCount(int timer) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!valid(timer)) return;
  timers_[timer].countedUs = 0;
  timers_[timer].countFromUs = nowUs_;
}

int32_t TimerBank::lapMs(int timer) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!valid(timer)) return 0;
  const Timer& t = timers_[timer];
  const int64_t us = t.countedUs + (t.counting ? nowUs_ - t.countFromUs : 0);
  return static_cast<int32_t>(us / 1000);
}

int32_t TimerBank::statusBits(int timer) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!valid(timer)) return 0;
  const Timer& t = timers_[timer];
  int32_t bits = (t.interval ? halvikdrv::tm::kIntervalRunning : 0) | (t.counting ? halvikdrv::tm::kTimeCountRunning : 0);
  return bits != 0 ? bits | halvikdrv::tm::kRunning : 0;
}

}  // namespace halviksim
