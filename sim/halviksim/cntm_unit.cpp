#include "cntm_unit.h"

#include <outside/halvikdrv.h>

#include <algorithm>

namespace halviksim {

namespace {

constexpr int kDirectionField = halvikdrv::cntm::kDirection / 2;
constexpr int16_t kCarry = 1, kBorrow = 2;

bool valid(int c) { return c >= 0 && c < CntmUnit::kChannels; }

}  // namespace

// A kernel wait's status follows the int32 it answers with.
CntmUnit::CntmUnit()
    : waits_(mutex_, WaitReply{4}), timeUpWaits_(mutex_, WaitReply{0, halvikdrv::cntm::kTimeUpWaitSize}) {}

CntmUnit::Channel CntmUnit::channel(int c) {
  std::lock_guard<std::mutex> lock(mutex_);
  return valid(c) ? channels_[c] : Channel{};
}

void CntmUnit::setBlock(int c, const std::array<int16_t, 12>& block) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (valid(c)) channels_[c].block = block;
}

void CntmUnit::setRunning(int c, bool running) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (valid(c)) channels_[c].running = running;
}

void CntmUnit::setCount(int c, uint32_t count) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (valid(c)) channels_[c].count = count;
}

void CntmUnit::notifyCountUp(int row, int c, int32_t value, bool on) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (row >= 0 && row < kRows && valid(c)) countUp_[row][c] = {on, value};
}

void CntmUnit::notifyErrors(bool on) {
  std::lock_guard<std::mutex> lock(mutex_);
  errorsOn_ = on;
}

void CntmUnit::notifyCarryBorrow(bool on) {
  std::lock_guard<std::mutex> lock(mutex_);
  carryBorrowOn_ = on;
}

void CntmUnit::notifyTimer(bool on) {
  std::lock_guard<std::mutex> lock(mutex_);
  timerOn_ = on;
}

uint8_t CntmUnit::digitalOutput() {
  std::lock_guard<std::mutex> lock(mutex_);
  return digitalOutput_;
}

void CntmUnit::setDigitalOutputBit(int bit, bool on) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (bit < 0 || bit > 7) return;
  digitalOutput_ = static_cast<uint8_t>(on ? digitalOutput_ | (1u << bit) : digitalOutput_ & ~(1u << bit));
}

void CntmUnit::pulse(int c, int64_t pulses) {
  std::unique_lock<std::mutex> lock(mutex_);
  if (!valid(c) || !channels_[c].running) return;
  Channel& ch = channels_[c];
  const bool down = ch.block[kDirectionField] == 1;
  for (int64_t i = 0; i < pulses; ++i) {
    const uint32_t before = ch.count;
    ch.count = down ? before - 1 : before + 1;
    if (carryBorrowOn_ && (down ? before == 0 : ch.count == 0))
      events_.carryBorrows.push_back({c, down ? kBorrow : kCarry});
    for (int row = 0; row < kRows; ++row) {
      const Match& m = countUp_[row][c];
      if (m.on && static_cast<int32_t>(ch.count) == m.value)
        events_.countUps.push_back({row, c, static_cast<int16_t>(row + 1), m.value});
    }
  }
  PendingWaits::Batch due = dueWaitsLocked();
  lock.unlock();
  waits_.complete(due, false);
}

void CntmUnit::counterError(int c, int kind) {
  std::unique_lock<std::mutex> lock(mutex_);
  if (!valid(c) || kind < 1 || kind > 3 || !errorsOn_) return;
  events_.errors[kind - 1].push_back({c, static_cast<int16_t>(kind)});
  PendingWaits::Batch due = dueWaitsLocked();
  lock.unlock();
  waits_.complete(due, false);
}

void CntmUnit::timerTicks(int ticks) {
  std::unique_lock<std::mutex> lock(mutex_);
  if (!timerOn_ || ticks <= 0) return;
  events_.timers += ticks;
  PendingWaits::Batch due = dueWaitsLocked();
  lock.unlock();
  waits_.complete(due, false);
}

void CntmUnit::forceCounts(int16_t channels, int16_t rows, int16_t entries) {
  std::unique_lock<std::mutex> lock(mutex_);
  events_.forced = true;
  events_.channels = channels;
  events_.rows = rows;
  events_.entries = entries;
  PendingWaits::Batch due = dueWaitsLocked();
  lock.unlock();
  waits_.complete(due, false);
}

// At most kEntries of each kind; the rest waits for the next read.
CntmUnit::Events CntmUnit::takeEvents() {
  std::lock_guard<std::mutex> lock(mutex_);
  Events taken;
  auto move = [](auto& from, auto& to) {
    const auto n = std::min<std::size_t>(from.size(), kEntries);
    to.assign(from.begin(), from.begin() + n);
    from.erase(from.begin(), from.begin() + n);
  };
  move(events_.countUps, taken.countUps);
  for (int k = 0; k < 3; ++k) move(events_.errors[k], taken.errors[k]);
  move(events_.carryBorrows, taken.carryBorrows);
  taken.timers = std::min(events_.timers, kEntries);
  events_.timers -= taken.timers;
  taken.forced = events_.forced;
  taken.channels = events_.channels;
  taken.rows = events_.rows;
  taken.entries = events_.entries;
  events_.forced = false;
  return taken;
}

bool CntmUnit::dueLocked() const {
  const Events& e = events_;
  return e.forced || e.timers > 0 || !e.countUps.empty() || !e.carryBorrows.empty() || !e.errors[0].empty() ||
         !e.errors[1].empty() || !e.errors[2].empty();
}

PendingWaits::Batch CntmUnit::dueWaitsLocked() {
  return dueLocked() ? waits_.takeAllLocked() : PendingWaits::Batch{};
}

bool CntmUnit::queueWait(PlatRequest* request) {
  std::unique_lock<std::mutex> lock(mutex_);
  if (dueLocked()) return false;
  waits_.keepRequestLocked(lock, request);
  return true;
}

void CntmUnit::enableTimeUp(int32_t value) {
  std::lock_guard<std::mutex> lock(mutex_);
  timeUpOn_ = value != 0;
}

void CntmUnit::timeUp(int count) {
  PendingWaits::Batch due;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!timeUpOn_ || count <= 0) return;
    timeUps_ += count;
    due = timeUpWaits_.takeAllLocked();
  }
  timeUpWaits_.complete(due, false);
}

int32_t CntmUnit::takeTimeUps() {
  std::lock_guard<std::mutex> lock(mutex_);
  const int32_t n = timeUps_;
  timeUps_ = 0;
  return n;
}

bool CntmUnit::queueTimeUpWait(HANDLE handle, OVERLAPPED* overlapped, void* record) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (timeUps_ > 0) {
    if (overlapped->hEvent != nullptr) SetEvent(overlapped->hEvent);
    return false;
  }
  timeUpWaits_.keepSiblingLocked(handle, overlapped, record);
  return true;
}

void CntmUnit::cancelWaits(HANDLE handle) { timeUpWaits_.cancelHandle(handle); }

}  // namespace halviksim
