// The sampling run of a simulated board: pacing, held data, causes and the
// pending requests that a run completes.
#include "board.h"

#include <algorithm>
#include <cstring>

namespace skorradev {

namespace {

constexpr uint32_t kPowerOnClock = (1000u << 16) | 8u;  // 8 MHz / 8 / 1000 = 1 kHz
constexpr uint64_t kMinimumHeld = 0x100000;
// Cause-1 interrupts beyond this many unread ones are counted, not queued:
// a worker that falls behind gets the latest state, not an endless backlog.
constexpr size_t kMaxQueuedCauses = 1024;

void writeValue(uint8_t* at, uint32_t width, uint32_t value) {
  std::memcpy(at, &value, width);  // little-endian, low bytes first
}

std::array<uint32_t, 94> capabilityRecord(const BoardModel& m) {
  std::array<uint32_t, 94> r{};
  r[SKDI_MODEL] = m.model;
  r[1] = m.variant;
  r[SKDI_MODE_MASK] = m.modeMask;
  r[SKDI_SINGLE_CHANNELS] = m.singleChannels;
  r[SKDI_DIFF_CHANNELS] = m.diffChannels;
  r[SKDI_RESOLUTION] = m.resolution;
  r[SKDI_RANGE_MASK] = m.rangeMask;
  r[SKDI_TRIGGER_INPUTS] = m.triggerInputs;
  r[SKDI_CLOCK_TYPE] = m.clockType;
  r[SKDI_PERIOD_ONE] = m.periodOneNs;
  r[SKDI_PERIOD_SCAN] = m.periodScanNs;
  r[83] = m.periodScanNs;
  r[SKDI_PERIOD_MODE2] = m.periodMode2Ns;
  r[SKDI_CLOCK_KIND] = m.clockKind;
  return r;
}

// The board a capability record describes; what the record does not carry
// (PCI id, request families) stays the board's own.
BoardModel modelOf(const std::array<uint32_t, 94>& r, const BoardModel& own) {
  BoardModel m = own;
  m.model = r[SKDI_MODEL];
  m.variant = static_cast<uint16_t>(r[1]);
  m.modeMask = r[SKDI_MODE_MASK];
  m.singleChannels = r[SKDI_SINGLE_CHANNELS];
  m.diffChannels = r[SKDI_DIFF_CHANNELS];
  m.resolution = r[SKDI_RESOLUTION];
  m.rangeMask = r[SKDI_RANGE_MASK];
  m.triggerInputs = r[SKDI_TRIGGER_INPUTS];
  m.clockType = r[SKDI_CLOCK_TYPE];
  m.periodOneNs = r[SKDI_PERIOD_ONE];
  m.periodScanNs = r[SKDI_PERIOD_SCAN];
  m.periodMode2Ns = r[SKDI_PERIOD_MODE2];
  m.clockKind = r[SKDI_CLOCK_KIND];
  return m;
}

// The fixed clock codes of clock kind 2: 8 MHz and 10 MHz halved per step,
// and 16 MHz and 20 MHz on codes of their own.
double fixedClock(uint32_t code) {
  if (code <= 7) return 8e6 / static_cast<double>(1u << code);
  if (code >= 16 && code <= 23) return 10e6 / static_cast<double>(1u << (code - 16));
  if (code == 8) return 16e6;
  if (code == 24) return 20e6;
  return 0.0;  // 254: external clock
}

void cancelRoutine(PlatRequest* request) {
  static_cast<Board*>(request->driverContext)->forget(request);
  PlatCompleteRequest(request, PLAT_STATUS_CANCELLED, 0);
}

}  // namespace

Board::Board(DWORD number, DWORD boardId, const BoardModel& model)
    : number_(number),
      boardId_(boardId),
      ownModel_(model),
      model_(model),
      info_(capabilityRecord(model)),
      width_(sampleWidth(model.resolution)) {
  const SkorradevChannelEntry first{1, 0x80000};

  normal_.channelCount = 1;
  normal_.channels[0] = first;
  normal_.mode = 2;
  normal_.inputType = 1;
  normal_.sampleCount = 1000;
  normal_.clockCode = kPowerOnClock;
  normal_.triggerPoint = 1;
  normal_.triggerMode = 1;
  normal_.triggerChannel = 1;
  normal_.externalClock = 2;
  normal_.unchecked = 1;
  normal_.edgeSelection = 1;
  normal_.memoryDivisor = 1;

  // Readers rewrite only some fields of this record, so it must pass the
  // library's checks as it is.
  bm_.channelCount = 1;
  bm_.channels[0] = first;
  bm_.inputType = 1;
  bm_.sampleCount = 1000;
  bm_.repeatCount = 1;
  bm_.bufferMode = 1;
  bm_.clockCode1 = kPowerOnClock;
  bm_.startCondition = 1;
  bm_.stopCondition = 1;
  bm_.startTriggerChannel = 1;
  bm_.stopTriggerChannel = 1;
  bm_.clockOutputSelection = 0x80000000u;
  bm_.selectionPolarity = 1;
  bm_.triggerInputSelection1 = 1;
  bm_.triggerInputSelection2 = 1;
  bm_.clockSelection = 1;
  bm_.transferSelection = 1;
  bm_.transferWidth = 1;

  mem_.channelCount = 1;
  mem_.channels[0] = first;
  mem_.inputType = 1;
  mem_.clockCode = 40000;  // 40 MHz / 40000 = 1 kHz
  mem_.condition = 2;
  mem_.postTrigger = 1000;
  mem_.startTriggerChannel = 1;
  mem_.stopTriggerChannel = 1;
  mem_.clockOutputSelection = 0x80000000u;
  mem_.selectionPolarity = 1;
  mem_.triggerInputSelection = 1;
  mem_.clockSelection = 1;
  mem_.transferSelection = 1;
  mem_.transferWidth = 1;

  clock_ = std::thread([this] { clockLoop(); });
}

Board::~Board() { stopClock(); }

void Board::stopClock() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    quit_ = true;
  }
  wake_.notify_all();
  if (clock_.joinable()) clock_.join();
}

bool Board::setDeviceInfo(const DWORD* info) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (running_) return false;
  if (info == nullptr) {
    info_ = capabilityRecord(ownModel_);
    model_ = ownModel_;
  } else {
    std::copy(info, info + info_.size(), info_.begin());
    model_ = modelOf(info_, ownModel_);
  }
  width_ = sampleWidth(model_.resolution);
  return true;
}

double Board::clockFrequency(uint32_t code) const {
  if (code == 0 || code == 0xFFFFFFFFu) return 0.0;
  // Kinds 3 and 4 take the whole code as the divider; the others hold it
  // in 24 bits, bit 24 naming kind 5's second oscillator.
  const double whole = code, divider = std::max<uint32_t>(code & 0xFFFFFF, 1);
  switch (model_.clockKind) {
    case 2: return fixedClock(code);
    case 3: return 8e6 / whole;
    case 4: return 2e7 / whole;
    case 5: return ((code & 0x1000000u) ? 2.4576e6 : 8e6) / divider;
    case 6: return 12.288e6 / divider;
    case 7: return 36e6 / divider;
    default: {
      const uint32_t q = code & 0xFFFF, quotient = code >> 16;
      return 8e6 / (static_cast<double>(std::max(q, 1u)) * std::max(quotient, 1u));
    }
  }
}

uint32_t Board::sample(uint32_t channel, uint64_t scan) const {
  return SkorradevSimSample(number_, channel, static_cast<DWORD>(scan), model_.resolution);
}

// ---------------------------------------------------------------- pacing

void Board::clockLoop() {
  using namespace std::chrono;
  std::unique_lock<std::mutex> lock(mutex_);
  while (!quit_) {
    if (!running_ || manual_ || run_.frequency <= 0.0) {
      wake_.wait(lock);
      continue;
    }
    const auto now = steady_clock::now();
    const double elapsed = duration<double>(now - clockStart_).count();
    const uint64_t due = clockBase_ + static_cast<uint64_t>(elapsed * run_.frequency);
    if (due > produced_) {
      Deferred d;
      produceLocked(due - produced_, d);
      lock.unlock();
      finish(d);
      lock.lock();
      continue;
    }
    const double nextScan = static_cast<double>(produced_ - clockBase_ + 1) / run_.frequency;
    auto next = clockStart_ + duration_cast<steady_clock::duration>(duration<double>(nextScan));
    // Fast clocks are served in batches rather than one wake-up per scan.
    next = std::max(next, now + microseconds(500));
    wake_.wait_until(lock, next);
  }
}

void Board::setManualClock(bool manual) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    manual_ = manual;
    clockStart_ = std::chrono::steady_clock::now();
    clockBase_ = produced_;
  }
  wake_.notify_all();
}

bool Board::advance(DWORD scans) {
  Deferred d;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!running_) return false;
    produceLocked(scans, d);
  }
  finish(d);
  return true;
}

// ---------------------------------------------------------------- the run

bool Board::runFrom(Source source, Run& run, uint32_t driverEvent) const {
  run = Run{};
  run.driverEvent = driverEvent;
  auto listOf = [&run](uint32_t count, const SkorradevChannelEntry* list) {
    for (uint32_t i = 0; i < std::min<uint32_t>(count, 256); ++i) run.channels.push_back(list[i].channel);
  };
  switch (source) {
    case Source::Normal: {
      listOf(normal_.channelCount, normal_.channels);
      run.frequency = clockFrequency(normal_.clockCode);
      run.limit = normal_.triggerMode == 9 ? 0 : normal_.sampleCount;
      run.eventCount = normal_.eventCount;
      run.capacity = std::max<uint64_t>(normal_.sampleCount, kMinimumHeld);
      break;
    }
    case Source::BusMaster: {
      listOf(bm_.channelCount, bm_.channels);
      run.frequency = clockFrequency(bm_.clockCode1);
      const uint64_t repeats = bm_.repeatCount == 0 ? 1 : bm_.repeatCount;
      run.limit = bm_.stopCondition == 9 ? 0 : bm_.sampleCount * repeats;
      run.eventCount = bm_.eventCount;
      run.capacity = std::max<uint64_t>(bm_.sampleCount, kMinimumHeld);
      const uint32_t n = static_cast<uint32_t>(run.channels.size());
      run.wordsPerScan = (n % 2 == 0 && bm_.transferSelection == 1) ? n : n + (n % 2 == 1 ? 1 : 2);
      break;
    }
    case Source::Memory: {
      listOf(mem_.channelCount, mem_.channels);
      const uint32_t code = mem_.clockCode;
      if (code != 0 && code != 0xFFFFFFFFu) {
        run.frequency = (code & 0x1000000u) ? 24.576e6 / std::max<uint32_t>(code & 0xFFFFFF, 1)
                                            : 40e6 / static_cast<double>(code);
      }
      run.limit = static_cast<uint64_t>(mem_.preTrigger) + mem_.postTrigger;
      run.capacity = std::max<uint64_t>(run.limit, kMinimumHeld);
      break;
    }
    case Source::None:
      return false;
  }
  if (run.wordsPerScan == 0) run.wordsPerScan = static_cast<uint32_t>(run.channels.size());
  return !run.channels.empty();
}

void Board::startLocked(Run run) {
  run_ = std::move(run);
  running_ = true;
  produced_ = read_ = dropped_ = 0;
  eventInterrupts_ = 0;
  transferWritten_ = 0;
  causes_.clear();
  unannounced_ = 0;
  lastCause_ = Cause{0, 0, 0};
  clockStart_ = std::chrono::steady_clock::now();
  clockBase_ = 0;
  wake_.notify_all();
}

void Board::produceLocked(uint64_t scans, Deferred& d) {
  if (!running_ || scans == 0) return;
  uint64_t target = produced_ + scans;
  if (run_.limit != 0) target = std::min(target, run_.limit);
  writeTransferLocked(produced_, target);

  if (run_.eventCount != 0) {
    const uint64_t crossed = target / run_.eventCount - produced_ / run_.eventCount;
    const uint64_t room = causes_.size() < kMaxQueuedCauses ? kMaxQueuedCauses - causes_.size() : 0;
    const uint64_t queued = std::min(crossed, room);
    // Interrupts beyond the room are counted only; the queued ones carry
    // the count as it stands after them.
    eventInterrupts_ += static_cast<uint32_t>(crossed - queued);
    for (uint64_t i = 0; i < queued; ++i) {
      ++eventInterrupts_;
      raiseLocked(Cause{SKORRADEV_CAUSE_EVENT_COUNT, 1, eventInterrupts_}, d);
    }
  }
  produced_ = target;
  if (heldLocked() > run_.capacity) {
    dropped_ += heldLocked() - run_.capacity;
    read_ = produced_ - run_.capacity;
  }
  serveDirectReadsLocked(d);
  if (run_.limit != 0 && produced_ >= run_.limit) endRunLocked(d);
}

void Board::endRunLocked(Deferred& d) {
  if (!running_) return;
  running_ = false;
  raiseLocked(Cause{SKORRADEV_CAUSE_END, 2, eventInterrupts_}, d);
  for (PlatRequest* transfer : transfers_) {
    if (ownLocked(transfer)) {
      d.complete.emplace_back(transfer, std::min<uint64_t>(transferWritten_, transfer->outputSize));
    }
  }
  transfers_.clear();
  serveDirectReadsLocked(d);
}

void Board::raiseLocked(const Cause& cause, Deferred& d) {
  causes_.push_back(cause);
  bool announced = false;
  while (!announced && !waits_.empty()) {
    PlatRequest* wait = waits_.front();
    waits_.pop_front();
    if (!ownLocked(wait)) continue;  // being cancelled: try the next one
    const DWORD pendingCauses = static_cast<DWORD>(causes_.size());
    std::memcpy(wait->outputBuffer, &pendingCauses, sizeof pendingCauses);
    d.complete.emplace_back(wait, sizeof(DWORD));
    announced = true;
  }
  if (!announced) ++unannounced_;
  // The older platform's driver-side event: a platform event handle value.
  if (run_.driverEvent != 0xFFFFFFFFu && run_.driverEvent != 0) {
    d.events.push_back(reinterpret_cast<HANDLE>(static_cast<uintptr_t>(run_.driverEvent)));
  }
}

void Board::raiseInterrupt(DWORD cause, DWORD flags, DWORD count) {
  Deferred d;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    raiseLocked(Cause{cause, flags, count}, d);
  }
  finish(d);
}

void Board::writeTransferLocked(uint64_t from, uint64_t to) {
  if (transfers_.empty() || run_.wordsPerScan == 0) return;
  PlatRequest* transfer = transfers_.front();
  auto* buffer = static_cast<uint8_t*>(transfer->outputBuffer);
  const uint64_t scanBytes = static_cast<uint64_t>(run_.wordsPerScan) * width_;
  const uint64_t room = buffer == nullptr ? 0 : transfer->outputSize / scanBytes;
  if (room == 0) return;
  // Only the last `room` scans survive in the ring of the buffer.
  from = std::max(from, to > room ? to - room : 0);
  for (uint64_t s = from; s < to; ++s) {
    uint8_t* at = buffer + (s % room) * scanBytes;
    for (uint32_t w = 0; w < run_.wordsPerScan; ++w) {
      uint32_t value = 0;
      if (w < run_.channels.size()) {
        value = sample(run_.channels[w], s);
      } else if (w == run_.channels.size()) {
        value = static_cast<uint32_t>(s);
      }
      writeValue(at + w * width_, width_, value);
    }
  }
  transferWritten_ = std::min<uint64_t>(to * scanBytes, room * scanBytes);
}

uint32_t Board::deliverLocked(uint64_t address, uint32_t count, bool withExtraWords) {
  const uint32_t channels = static_cast<uint32_t>(run_.channels.size());
  if (channels == 0) return 0;
  const uint32_t words = withExtraWords ? run_.wordsPerScan : channels;
  const uint32_t scans = static_cast<uint32_t>(std::min<uint64_t>(count, heldLocked()));
  auto* out = reinterpret_cast<uint8_t*>(static_cast<uintptr_t>(address));
  for (uint32_t i = 0; i < scans; ++i) {
    const uint64_t s = read_ + i;
    for (uint32_t w = 0; w < words; ++w) {
      uint32_t value = 0;
      if (w < channels) {
        value = sample(run_.channels[w], s);
      } else if (w == channels) {
        value = static_cast<uint32_t>(s);
      }
      writeValue(out, width_, value);
      out += width_;
    }
  }
  read_ += scans;
  return scans;
}

void Board::serveDirectReadsLocked(Deferred& d) {
  const uint32_t channels = static_cast<uint32_t>(run_.channels.size());
  if (channels == 0 && !running_) {
    // Nothing was ever sampled: the reads end empty instead of waiting.
    for (PlatRequest* request : directReads_) {
      if (ownLocked(request)) d.complete.emplace_back(request, 0);
    }
    directReads_.clear();
    return;
  }
  while (!directReads_.empty() && channels != 0) {
    // Queued requests are still valid: a cancel routine first waits for the
    // mutex in forget().
    PlatRequest* request = directReads_.front();
    const uint32_t units = request->outputSize / 4;
    const uint64_t scansWanted = (units + channels - 1) / channels;
    if (heldLocked() < scansWanted && running_) return;
    directReads_.pop_front();
    if (!ownLocked(request)) continue;
    const uint64_t scans = std::min<uint64_t>(scansWanted, heldLocked());
    auto* out = static_cast<uint8_t*>(request->outputBuffer);
    uint32_t written = 0;
    for (uint64_t i = 0; i < scans; ++i) {
      for (uint32_t c = 0; c < channels && written < units; ++c, ++written) {
        writeValue(out + 4u * written, 4, sample(run_.channels[c], read_ + i));
      }
    }
    read_ += scans;
    d.complete.emplace_back(request, 4u * written);
  }
}

// ---------------------------------------------------------------- pending

LONG Board::keepPending(PlatRequest* request, std::deque<PlatRequest*>& queue) {
  request->driverContext = this;
  PlatMarkRequestPending(request);
  PlatSetCancelRoutine(request, cancelRoutine);
  if (PlatRequestCancelled(request) && PlatSetCancelRoutine(request, nullptr) != nullptr) {
    PlatCompleteRequest(request, PLAT_STATUS_CANCELLED, 0);
    return PLAT_STATUS_PENDING;
  }
  queue.push_back(request);
  return PLAT_STATUS_PENDING;
}

void Board::forget(PlatRequest* request) {
  std::lock_guard<std::mutex> lock(mutex_);
  for (auto* queue : {&waits_, &directReads_, &transfers_}) {
    queue->erase(std::remove(queue->begin(), queue->end(), request), queue->end());
  }
}

// Taking the cancel routine back makes the request ours to complete; when
// the platform has taken it first, the routine completes the request and we
// must not touch it again. Called with the mutex held, so a routine that is
// on its way waits in forget() until the queues are consistent.
bool Board::ownLocked(PlatRequest* request) { return PlatSetCancelRoutine(request, nullptr) != nullptr; }

void Board::finish(Deferred& d) {
  for (auto& [request, bytes] : d.complete) PlatCompleteRequest(request, PLAT_STATUS_SUCCESS, bytes);
  for (PlatRequest* request : d.cancelled) PlatCompleteRequest(request, PLAT_STATUS_CANCELLED, 0);
  for (HANDLE event : d.events) SetEvent(event);
}

// ---------------------------------------------------------------- files

void Board::fileOpened() {
  std::lock_guard<std::mutex> lock(mutex_);
  ++openFiles_;
}

void Board::fileClosed() {
  Deferred d;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (--openFiles_ > 0) return;
    openFiles_ = 0;
    endRunLocked(d);
    causes_.clear();
    unannounced_ = 0;
    // Requests left without a cancel routine would keep the close waiting.
    for (PlatRequest* r : waits_) {
      if (ownLocked(r)) d.cancelled.push_back(r);
    }
    for (PlatRequest* r : directReads_) {
      if (ownLocked(r)) d.cancelled.push_back(r);
    }
    waits_.clear();
    directReads_.clear();
    d.events.clear();
  }
  finish(d);
}

bool Board::isOpen() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return openFiles_ > 0;
}

// ---------------------------------------------------------------- control

void Board::setFault(DWORD function, Fault fault) {
  std::lock_guard<std::mutex> lock(mutex_);
  faults_[function] = fault;
}

void Board::clearFaults() {
  std::lock_guard<std::mutex> lock(mutex_);
  faults_.clear();
}

void Board::clearRequestCounts() {
  std::lock_guard<std::mutex> lock(mutex_);
  counts_.clear();
}

bool Board::faultFor(DWORD function, Fault& fault) const {
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = faults_.find(function);
  if (it == faults_.end()) return false;
  fault = it->second;
  return true;
}

DWORD Board::requestCount(DWORD function) const {
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = counts_.find(function);
  return it == counts_.end() ? 0 : it->second;
}

DWORD Board::pendingWaits() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return static_cast<DWORD>(waits_.size());
}

}  // namespace skorradev

SKORRADEV_API DWORD WINAPI SkorradevSimSample(DWORD device, DWORD channel, DWORD scan, DWORD bits) {
  const uint64_t value = static_cast<uint64_t>(scan) + 256ull * channel + 1024ull * (device - 1ull);
  return bits >= 32 ? static_cast<DWORD>(value) : static_cast<DWORD>(value & ((1ull << bits) - 1));
}
