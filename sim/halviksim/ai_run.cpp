#include "ai_run.h"

#include <outside/halvikdrv.h>

#include <algorithm>
#include <cmath>

namespace halviksim {

namespace {
constexpr auto kIdleTick = std::chrono::milliseconds(50);
}

AiRun::AiRun() : waits_(mutex_, WaitReply{halvikdrv::ai::kStatus, halvikdrv::rec::kAiWaitSize}) {}

AiRun::~AiRun() {
  PendingWaits::Batch left;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    quit_ = true;
    left = waits_.takeAllLocked();
  }
  wake_.notify_all();
  {
    std::unique_lock<std::mutex> lock(mutex_);
    tickerGone_.wait(lock, [this] { return !ticking_; });
  }
  waits_.complete(left, true);
}

template <class Work>
auto AiRun::updated(Work work) {
  return waits_.completeAfter(
      [&] {
        updateLocked();
        return work();
      },
      [this] { return dueLocked(); });
}

void AiRun::setVirtualClock(bool on) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (on == virtual_) return;
    // The run goes on from the same scan on the other clock.
    const int64_t elapsed = nowLocked() - startUs_;
    virtual_ = on;
    startUs_ = nowLocked() - elapsed;
  }
  wake_.notify_all();
}

void AiRun::advance(int64_t microseconds) {
  updated([&] {
    if (virtual_ && microseconds > 0) virtualNow_ += microseconds;
    updateLocked();
    return 0;
  });
}

void AiRun::setCap(int64_t scans) {
  std::lock_guard<std::mutex> lock(mutex_);
  cap_ = std::max<int64_t>(scans, 0);
}

int64_t AiRun::dropped() {
  return updated([&] { return dropped_; });
}

void AiRun::setMask(int32_t mask) {
  std::lock_guard<std::mutex> lock(mutex_);
  mask_ = mask;
}

void AiRun::start(const AiConfig& config) {
  updated([&] {
    config_ = config;
    config_.channels = std::clamp(config_.channels, 1, 256);
    if (!(config_.clockUs > 0.0) || !std::isfinite(config_.clockUs)) config_.clockUs = AiConfig{}.clockUs;
    // A stop trigger ends the run instead of the stop times.
    if (config_.stopOn.kind != AiCondition::Kind::None) config_.stopTimes = 0;
    const int64_t passes = std::max<int64_t>(config_.repeatTimes, 1);
    endScan_ = config_.byCommand || config_.stopTimes <= 0 ? -1 : config_.stopTimes * passes;
    running_ = true;
    startUs_ = nowLocked();
    produced_ = 0;
    firstScan_ = 0;
    startWatch_ = AiTriggerWatch(config_.startOn, config_.bits);
    stopWatch_ = AiTriggerWatch(config_.stopOn, config_.bits);
    awaitingStart_ = startWatch_.armed();
    stopTriggerCount_ = 0;
    repeats_ = 0;
    stored_.clear();
    valueCursor_ = 0;
    endPending_ = false;
    hostBuffer_.rewind();
    if (!awaitingStart_) raiseLocked(halvikdrv::ai::kFactorStart);
    startTickerLocked();
    return 0;
  });
  wake_.notify_all();
}

void AiRun::stop() {
  updated([&] {
    if (running_) finishLocked();
    return 0;
  });
}

int32_t AiRun::statusBits() {
  using namespace halvikdrv::ai;
  return updated([&] {
    return bits_ | (running_ ? kStatusRunning : 0) | (running_ && awaitingStart_ ? kStatusStartWait : 0);
  });
}

void AiRun::changeStatusBit(int32_t bit, bool clear) {
  std::lock_guard<std::mutex> lock(mutex_);
  bit &= ~halvikdrv::ai::kStatusRunning;  // only a start and a stop change that one
  bits_ = clear ? bits_ & ~bit : bits_ | bit;
}

void AiRun::resetStatus() {
  std::lock_guard<std::mutex> lock(mutex_);
  bits_ = 0;
  dropped_ = 0;
}

void AiRun::resetMemory() {
  updated([&] {
    stored_.clear();
    valueCursor_ = 0;
    return 0;
  });
}

int64_t AiRun::samplingCount() {
  return updated([&] { return storedLocked(); });
}

void AiRun::refresh() {
  updated([] { return 0; });
}

int64_t AiRun::repeatCount() {
  return updated([&] { return repeats_; });
}

int64_t AiRun::stopTriggerCount() {
  return updated([&] { return stopTriggerCount_; });
}

int64_t AiRun::readScans(int64_t scans, int32_t* out) {
  return updated([&] {
    int64_t delivered = 0;
    while (delivered < scans && !stored_.empty()) {
      auto& [first, count] = stored_.front();
      for (int c = static_cast<int>(valueCursor_); c < config_.channels; ++c) *out++ = valueLocked(first, c);
      valueCursor_ = 0;
      ++first;
      if (--count == 0) stored_.pop_front();
      ++delivered;
    }
    return delivered;
  });
}

int64_t AiRun::readValues(int64_t values, uint16_t* out) {
  return updated([&] {
    int64_t delivered = 0;
    while (delivered < values && !stored_.empty()) {
      auto& [first, count] = stored_.front();
      *out++ = static_cast<uint16_t>(valueLocked(first, static_cast<int>(valueCursor_)));
      ++delivered;
      if (++valueCursor_ < config_.channels) continue;
      valueCursor_ = 0;
      ++first;
      if (--count == 0) stored_.pop_front();
    }
    return delivered;
  });
}

int32_t AiRun::convert(int channel, int bits) {
  return updated([&] {
    const int64_t modulus = int64_t{1} << std::clamp(bits, 1, 31);
    return static_cast<int32_t>((produced_ + 256 * int64_t{channel}) % modulus);
  });
}

bool AiRun::queueWait(PlatRequest* request) {
  std::unique_lock<std::mutex> lock(mutex_);
  updateLocked();
  if (dueLocked()) return false;
  if (!waits_.keepRequestLocked(lock, request)) return true;  // cancelled already
  startTickerLocked();
  lock.unlock();
  wake_.notify_all();
  return true;
}

bool AiRun::queueWait(HANDLE handle, OVERLAPPED* overlapped, void* record) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    updateLocked();
    if (dueLocked()) return false;
    waits_.keepSiblingLocked(handle, overlapped, record);
    startTickerLocked();
  }
  wake_.notify_all();
  return true;
}

void AiRun::cancelWaits(HANDLE handle) { waits_.cancelHandle(handle); }

AiFetch AiRun::fetch() {
  return updated([&] {
    AiFetch answer;
    answer.mask = mask_;
    answer.samplingCount = storedLocked();
    answer.repeatCount = repeats_;
    answer.list.swap(events_);
    for (int32_t factor : answer.list) answer.factor |= factor;
    answer.end = endPending_;
    endPending_ = false;
    return answer;
  });
}

void AiRun::queueEvents(const std::vector<int32_t>& factors, bool end) {
  updated([&] {
    for (int32_t factor : factors) {
      if (events_.size() < kListCapacity) events_.push_back(factor);
    }
    endPending_ = endPending_ || end;
    return 0;
  });
}

int64_t AiRun::nowLocked() const {
  if (virtual_) return virtualNow_;
  return std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - origin_).count();
}

void AiRun::updateLocked() {
  if (!running_) return;
  const double elapsed = static_cast<double>(nowLocked() - startUs_);
  const int64_t due = static_cast<int64_t>(std::floor(elapsed / config_.clockUs));  // scans since the start
  if (awaitingStart_) {
    const int64_t met = startWatch_.find(firstScan_, due);
    if (met < 0) {
      firstScan_ = due;
      return;
    }
    firstScan_ = met;
    awaitingStart_ = false;
    raiseLocked(halvikdrv::ai::kFactorStart);
  }
  int64_t target = due - firstScan_;
  if (endScan_ >= 0) target = std::min(target, endScan_);
  if (stopWatch_.armed() && stopTriggerCount_ == 0 && target > produced_) {
    const int64_t met = stopWatch_.find(firstScan_ + produced_, firstScan_ + target);
    if (met >= 0) {
      stopTriggerCount_ = met - firstScan_ + 1;
      endScan_ = stopTriggerCount_ + config_.stopDelay;
      target = std::min(target, endScan_);
    }
  }
  if (target > produced_) produceLocked(target);
  if (endScan_ >= 0 && produced_ >= endScan_) finishLocked();
}

void AiRun::produceLocked(int64_t to) {
  using namespace halvikdrv::ai;
  const int64_t from = produced_;
  const int64_t fresh = to - from;
  // A handed-over buffer takes every scan, and the count events are its
  // reader's business.
  const bool toBuffer = hostBuffer_.attached();
  const int64_t kept = toBuffer ? fresh : std::clamp<int64_t>(cap_ - storedLocked(), 0, fresh);
  const bool overran =
      toBuffer && hostBuffer_.write(from, to, config_.channels, [this](int64_t s, int e) { return valueLocked(s, e); });
  if (kept > 0 && !toBuffer) {
    if (!stored_.empty() && stored_.back().first + stored_.back().second == from) {
      stored_.back().second += kept;
    } else {
      stored_.emplace_back(from, kept);
    }
  }
  if (kept < fresh || overran) {
    dropped_ += fresh - kept;
    if ((bits_ & kStatusOverflow) == 0) raiseLocked(kFactorOverflow);
    bits_ |= kStatusOverflow;
  }
  produced_ = to;
  if (config_.eventEvery > 0 && !toBuffer) {
    for (int64_t n = to / config_.eventEvery - from / config_.eventEvery; n > 0; --n) raiseLocked(kFactorDataCount);
  }
  if (config_.stopTimes > 0 && endScan_ >= 0) {
    const int64_t passes = to / config_.stopTimes - from / config_.stopTimes;
    repeats_ += passes;
    if (config_.repeatTimes > 1) {
      for (int64_t n = passes; n > 0; --n) raiseLocked(kFactorRepeatEnd);
    }
  }
}

void AiRun::raiseLocked(int32_t factor) {
  if ((mask_ & factor) == 0) return;
  if (events_.size() < kListCapacity) {
    events_.push_back(factor);
  } else {
    events_.back() |= factor;  // the bits are kept when the list is full
  }
}

void AiRun::finishLocked() {
  running_ = false;
  raiseLocked(halvikdrv::ai::kFactorEnd);
  endPending_ = true;
}

PendingWaits::Batch AiRun::takeDueLocked() {
  return dueLocked() ? waits_.takeAllLocked() : PendingWaits::Batch{};
}

int64_t AiRun::storedLocked() const {
  int64_t total = 0;
  for (const auto& segment : stored_) total += segment.second;
  return total;
}

int64_t AiRun::nextDueScanLocked() const {
  if (awaitingStart_) return -1;  // nothing is due before the trigger, which the idle tick finds
  int64_t next = endScan_;
  auto earlier = [&](int64_t scan) { next = next < 0 ? scan : std::min(next, scan); };
  if (config_.eventEvery > 0 && (mask_ & halvikdrv::ai::kFactorDataCount) != 0) {
    earlier((produced_ / config_.eventEvery + 1) * config_.eventEvery);
  }
  if (config_.stopTimes > 0 && config_.repeatTimes > 1 && (mask_ & halvikdrv::ai::kFactorRepeatEnd) != 0) {
    earlier((produced_ / config_.stopTimes + 1) * config_.stopTimes);
  }
  return next;
}

int32_t AiRun::valueLocked(int64_t scan, int entry) const {
  const int channel = static_cast<size_t>(entry) < config_.sequence.size() ? config_.sequence[entry] : entry;
  return knownSignal(firstScan_ + scan, channel, config_.bits);
}

void AiRun::startTickerLocked() {
  if (virtual_ || ticking_) return;
  ticking_ = true;
  std::thread([this] { tick(); }).detach();
}

// In real time nothing else moves the run while its waits are pending. The
// ticker ends when there is neither a run nor a wait.
void AiRun::tick() {
  std::unique_lock<std::mutex> lock(mutex_);
  while (!quit_) {
    updateLocked();
    PendingWaits::Batch due = takeDueLocked();
    if (!due.empty()) {
      lock.unlock();
      waits_.complete(due, false);
      lock.lock();
      continue;
    }
    if (!running_ && waits_.emptyLocked()) break;
    if (virtual_ || !running_ || waits_.emptyLocked()) {
      wake_.wait(lock);
      continue;
    }
    const int64_t scan = nextDueScanLocked();
    auto deadline = Clock::now() + kIdleTick;
    if (scan >= 0) {
      const double sinceStart = static_cast<double>(firstScan_ + scan) * config_.clockUs;
      const auto at = origin_ + std::chrono::microseconds(startUs_ + static_cast<int64_t>(std::ceil(sinceStart)));
      deadline = std::min(deadline, at);
    }
    wake_.wait_until(lock, deadline);
  }
  ticking_ = false;
  tickerGone_.notify_all();
}

}  // namespace halviksim
