#include "ao_run.h"

#include <outside/halvikdrv.h>

#include <algorithm>
#include <cmath>
#include <thread>

namespace halviksim {

namespace ao = halvikdrv::ao;

namespace {
constexpr auto kLongestSleep = std::chrono::milliseconds(2);
}

AoRun::AoRun() : waits_(mutex_, WaitReply{ao::kStatus, halvikdrv::rec::kAoWaitSize}) {}

AoRun::~AoRun() {
  PendingWaits::Batch left;
  {
    std::unique_lock<std::mutex> lock(mutex_);
    quit_ = true;
    left = waits_.takeAllLocked();
    wake_.notify_all();
    tickerGone_.wait(lock, [this] { return !ticking_; });
  }
  waits_.complete(left, true);
}

template <class Work>
auto AoRun::updated(Work work) {
  return waits_.completeAfter(
      [&] {
        updateLocked();
        return work();
      },
      [this] { return dueLocked(); });
}

bool AoRun::putData(const int32_t* values, int64_t count, bool replace) {
  return updated([&] {
    if (replace && !running_) memory_.clear();
    if (static_cast<int64_t>(memory_.size()) + count > ao::kMemoryValues) return false;
    memory_.insert(memory_.end(), values, values + count);
    return true;
  });
}

void AoRun::setMask(int32_t mask) {
  std::lock_guard<std::mutex> lock(mutex_);
  mask_ = mask;
}

void AoRun::setLevel(int channel, int32_t value) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (levels_.size() <= static_cast<size_t>(channel)) levels_.resize(channel + 1, 0);
  levels_[channel] = value;
}

void AoRun::start(const AoConfig& config) {
  updated([&] {
    config_ = config;
    config_.channels = std::clamp(config_.channels, 1, 256);
    running_ = true;
    startUs_ = nowUs();
    produced_ = 0;
    repeats_ = 0;
    underrun_ = false;
    cursor_ = 0;
    bufferLap_ = 0;
    parkPending_ = false;
    log_.clear();
    logged_ = 0;
    const int64_t passes = std::max<int64_t>(config_.repeatTimes, 1);
    if (config_.busMaster && buffer_ != nullptr) {
      total_ = config_.byCommand ? -1 : passes * (bufferWords_ / config_.channels);
    } else if (config_.byCommand) {
      total_ = -1;  // the memory is a queue the application keeps filling
    } else {
      pass_.assign(memory_.begin(), memory_.end());
      total_ = passes * static_cast<int64_t>(pass_.size() / config_.channels);
    }
    raiseLocked(ao::kEventStart);
    if (total_ == 0) finishLocked(false);
    startTickerLocked();
    return 0;
  });
  wake_.notify_all();
}

void AoRun::stop() {
  updated([&] {
    if (running_) finishLocked(false);
    return 0;
  });
}

bool AoRun::running() {
  return updated([&] { return running_; });
}

int64_t AoRun::samplingCount() {
  return updated([&] { return produced_; });
}

int64_t AoRun::repeatCount() {
  return updated([&] { return repeats_; });
}

void AoRun::resetStatus() {
  std::lock_guard<std::mutex> lock(mutex_);
  underrun_ = false;
}

void AoRun::resetMemory() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!running_) memory_.clear();
}

// A kept request owns its buffer; the set-up that follows names it.
LONG AoRun::keepBuffer(PlatRequest* request) {
  PlatRequest* earlier = nullptr;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    earlier = bufferRequest_;
    bufferRequest_ = request;
    buffer_ = nullptr;
    request->driverContext = this;
    PlatMarkRequestPending(request);
    PlatSetCancelRoutine(request, cancelBuffer);
  }
  if (earlier != nullptr && PlatSetCancelRoutine(earlier, nullptr) != nullptr)
    PlatCompleteRequest(earlier, PLAT_STATUS_SUCCESS, 0);
  if (PlatRequestCancelled(request) && PlatSetCancelRoutine(request, nullptr) != nullptr) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (bufferRequest_ == request) bufferRequest_ = nullptr;
    }
    PlatCompleteRequest(request, PLAT_STATUS_CANCELLED, 0);
  }
  return PLAT_STATUS_PENDING;
}

bool AoRun::setUpBuffer(uint64_t address, int64_t words) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (bufferRequest_ == nullptr || words < 0) return false;
  auto* buffer = static_cast<int32_t*>(bufferRequest_->outputBuffer);
  if (reinterpret_cast<uintptr_t>(buffer) != address || static_cast<uint64_t>(words) * 4 > bufferRequest_->outputSize)
    return false;
  buffer_ = buffer;
  bufferWords_ = words;
  return true;
}

void AoRun::releaseBuffer() {
  PlatRequest* request = nullptr;
  {
    std::unique_lock<std::mutex> lock(mutex_);
    updateLocked();
    request = bufferRequest_;
    bufferRequest_ = nullptr;
    buffer_ = nullptr;
  }
  if (request != nullptr && PlatSetCancelRoutine(request, nullptr) != nullptr)
    PlatCompleteRequest(request, PLAT_STATUS_SUCCESS, 0);
}

void AoRun::cancelBuffer(PlatRequest* request) {
  auto* run = static_cast<AoRun*>(request->driverContext);
  {
    std::lock_guard<std::mutex> lock(run->mutex_);
    if (run->bufferRequest_ == request) {
      run->bufferRequest_ = nullptr;
      run->buffer_ = nullptr;
    }
  }
  PlatCompleteRequest(request, PLAT_STATUS_CANCELLED, 0);
}

int32_t AoRun::transferCount() {
  return updated([&] { return static_cast<int32_t>(cursor_); });
}

int32_t AoRun::transferLap() {
  return updated([&] { return static_cast<int32_t>(bufferLap_); });
}

bool AoRun::queueWait(PlatRequest* request) {
  std::unique_lock<std::mutex> lock(mutex_);
  updateLocked();
  if (dueLocked()) return false;
  if (!waits_.keepRequestLocked(lock, request)) return true;  // cancelled already
  startTickerLocked();
  lock.unlock();
  wake_.notify_all();
  return true;
}

bool AoRun::queueWait(HANDLE handle, OVERLAPPED* overlapped, void* record) {
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

void AoRun::cancelWaits(HANDLE handle) { waits_.cancelHandle(handle); }

AoFetch AoRun::fetch() {
  return updated([&] {
    AoFetch answer;
    answer.mask = mask_;
    answer.samplingCount = produced_;
    answer.repeatCount = repeats_;
    answer.words.swap(events_);
    for (int32_t word : answer.words) answer.bits |= word;
    answer.park = parkPending_;
    parkPending_ = false;
    return answer;
  });
}

void AoRun::queueEvents(const std::vector<int32_t>& words, bool park) {
  updated([&] {
    for (int32_t word : words)
      if (events_.size() < kListCapacity) events_.push_back(word);
    parkPending_ = parkPending_ || park;
    return 0;
  });
}

AoReadBack AoRun::readBack() {
  return updated([&] { return AoReadBack{levels_, log_, logged_, underrun_}; });
}

int64_t AoRun::nowUs() const {
  return std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - origin_).count();
}

// The next sample's values from the run's source; false when it has none.
bool AoRun::takeSampleLocked(int32_t* values) {
  const int channels = config_.channels;
  if (config_.busMaster) {
    if (buffer_ == nullptr || bufferWords_ < channels) return false;
    for (int c = 0; c < channels; ++c) values[c] = __atomic_load_n(&buffer_[cursor_ + c], __ATOMIC_RELAXED);
    const int64_t before = cursor_;
    cursor_ += channels;
    if (config_.transferEvery > 0 && cursor_ / config_.transferEvery != before / config_.transferEvery)
      raiseLocked(ao::kEventTransfer);
    if (cursor_ + channels > bufferWords_) {
      cursor_ = 0;
      ++bufferLap_;
      ++repeats_;
    }
    return true;
  }
  if (config_.byCommand) {
    if (static_cast<int64_t>(memory_.size()) < channels) return false;
    for (int c = 0; c < channels; ++c) {
      values[c] = memory_.front();
      memory_.pop_front();
    }
    return true;
  }
  const int64_t perPass = static_cast<int64_t>(pass_.size()) / channels * channels;
  if (perPass == 0) return false;
  std::copy_n(pass_.begin() + cursor_, channels, values);
  cursor_ += channels;
  if (cursor_ >= perPass) {
    cursor_ = 0;
    ++repeats_;
    if (config_.repeatTimes > 1) raiseLocked(ao::kEventRepeatEnd);
  }
  return true;
}

void AoRun::updateLocked() {
  if (!running_) return;
  const int64_t due = static_cast<int64_t>(std::floor(static_cast<double>(nowUs() - startUs_) / config_.clockUs));
  const int64_t target = total_ < 0 ? due : std::min(due, total_);
  int32_t values[256];
  while (produced_ < target) {
    if (!takeSampleLocked(values)) return finishLocked(true);
    for (int c = 0; c < config_.channels; ++c) {
      if (log_.size() < kLogCapacity) log_.push_back(values[c]);
    }
    logged_ += config_.channels;
    ++produced_;
    if (config_.eventEvery > 0 && produced_ % config_.eventEvery == 0) raiseLocked(ao::kEventDataNumber);
  }
  if (total_ >= 0 && produced_ >= total_) finishLocked(false);
}

void AoRun::raiseLocked(int32_t bit) {
  if ((mask_ & bit) == 0) return;
  if (events_.size() < kListCapacity) {
    events_.push_back(bit);
  } else {
    events_.back() |= bit;  // the bits are kept when the list is full
  }
}

void AoRun::finishLocked(bool underrun) {
  running_ = false;
  if (underrun) {
    underrun_ = true;
    raiseLocked(ao::kEventOutputError);
  }
  raiseLocked(ao::kEventEnd);
  parkPending_ = true;
}

PendingWaits::Batch AoRun::takeDueLocked() {
  return dueLocked() ? waits_.takeAllLocked() : PendingWaits::Batch{};
}

void AoRun::startTickerLocked() {
  if (ticking_) return;
  ticking_ = true;
  std::thread([this] { tick(); }).detach();
}

// Nothing else moves the run while its waits are pending. The ticker ends
// when there is neither a run nor a wait.
void AoRun::tick() {
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
    if (!running_) {
      wake_.wait(lock);
      continue;
    }
    wake_.wait_for(lock, kLongestSleep);
  }
  ticking_ = false;
  tickerGone_.notify_all();
}

}  // namespace halviksim
