// The trigger-event lists and the window copy.
#include "triggers/trigger_events.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>

#include "acquisition/ring.h"
#include "acquisition/sampling_config.h"
#include "acquisition/selection.h"

namespace vekmath {
namespace {

// Copies count samples starting at ring position start, going on at the
// ring start past the ring length.
void copyAcrossEnd(const uint16_t* ring, int32_t ringLength, int32_t start, int32_t count, uint16_t* dest) {
  const int32_t first = std::min(count, ringLength - start);
  moveSamples(dest, ring + start, static_cast<std::size_t>(first));
  moveSamples(dest + first, ring, static_cast<std::size_t>(count - first));
}

}  // namespace

void TriggerEvents::arm(const TriggerSettings& settings) {
  std::lock_guard<std::mutex> guard(lock_);
  detector_.arm(settings);
  windowSamples_ = static_cast<int32_t>(
      std::clamp<int64_t>(int64_t{settings.channels} * settings.blockScans, 0, int64_t{INT32_MAX}));
}

void TriggerEvents::detectAndComplete(const uint16_t* ring, int32_t ringLength, int32_t writeBefore,
                                      int32_t writeAfter, int32_t scans, bool ringWrapped) {
  std::lock_guard<std::mutex> guard(lock_);
  detector_.scan(ring, ringLength, writeBefore, scans, ringWrapped, [this](int32_t position) {
    pending_.push_back(position);
    if (pending_.size() > kMaxPendingEvents) pending_.pop_front();
  });

  // At most the oldest pending event per pass.
  if (pending_.empty()) return;
  const int64_t q = pending_.front();
  const int64_t w = writeAfter;
  const int64_t need = windowSamples_;
  const bool ready = (w > q && w - q >= need) || (w <= q && ringLength - q + w >= need);
  if (!ready) return;
  pending_.pop_front();
  // An event inside the window handed out last would give out the same
  // samples again.
  if (window_ && *window_ <= q && q <= int64_t{*window_} + need) return;
  completedList_.push_back(static_cast<int32_t>(q));
  window_ = static_cast<int32_t>(q);
  completed_.store(static_cast<int32_t>(completedList_.size()), std::memory_order_release);
}

void TriggerEvents::onWrap() {
  std::lock_guard<std::mutex> guard(lock_);
  window_.reset();
}

void TriggerEvents::reset() {
  std::lock_guard<std::mutex> guard(lock_);
  detector_.clearFlags();
  pending_.clear();
  completedList_.clear();
  window_.reset();
  completed_.store(0, std::memory_order_release);
}

TakenEvent TriggerEvents::take(const uint16_t* ring, int32_t ringLength, uint16_t* dest, std::size_t capacity) {
  TakenEvent result;
  int32_t need = 0;
  {
    std::lock_guard<std::mutex> guard(lock_);
    if (completedList_.empty()) return result;
    result.taken = true;
    result.position = completedList_.front();
    completedList_.pop_front();
    result.left = static_cast<int32_t>(completedList_.size());
    completed_.store(result.left, std::memory_order_release);
    need = windowSamples_;
  }
  const int32_t q = result.position;
  char line[48];
  if (q < 0) {
    std::snprintf(line, sizeof line, "ccc : lTrgSt = %d\n", q);
  } else if (int64_t{q} + need >= ringLength) {
    std::snprintf(line, sizeof line, "bbb : lTrgSt = %d\n", q);
  } else {
    std::snprintf(line, sizeof line, "aaa : lTrgSt = %x\n", static_cast<unsigned>(q));
  }
  if (dest != nullptr && ringLength > 0) {
    const int64_t count = std::min<int64_t>({need, static_cast<int64_t>(capacity), ringLength});
    const int32_t start = static_cast<int32_t>(floorMod(q, ringLength));
    copyAcrossEnd(ring, ringLength, start, static_cast<int32_t>(count), dest);
    result.samples = static_cast<int32_t>(count);
  }
  OutputDebugStringA(line);
  return result;
}

std::deque<int32_t> TriggerEvents::pendingSnapshot() const {
  std::lock_guard<std::mutex> guard(lock_);
  return pending_;
}

std::deque<int32_t> TriggerEvents::completedSnapshot() const {
  std::lock_guard<std::mutex> guard(lock_);
  return completedList_;
}

std::optional<int32_t> TriggerEvents::windowSnapshot() const {
  std::lock_guard<std::mutex> guard(lock_);
  return window_;
}

TriggerFlags TriggerEvents::flagsSnapshot() const {
  std::lock_guard<std::mutex> guard(lock_);
  return detector_.flags();
}

TriggerEvents& triggerEvents() {
  // Leaked: the detach at process exit may still empty it.
  static TriggerEvents* instance = new TriggerEvents;
  return *instance;
}

TriggerSettings currentTriggerSettings() {
  const SamplingConfig& cfg = config();
  TriggerSettings s;
  s.channels = cfg.channels;
  s.triggerChannel = cfg.triggerChannel;
  s.levelA = cfg.levelA;
  s.levelB = cfg.levelB;
  s.offsetScans = cfg.eventOffset;
  s.blockScans = cfg.blockScans;
  s.zero = selection().zeroOffset;
  s.direction = cfg.triggerDirection;
  // The trigger channel's own entry of the data-format table.
  const int32_t c = cfg.triggerChannel;
  s.signedData = c >= 1 && c <= static_cast<int32_t>(kMaxChannels) && cfg.dataFormat[c - 1] > 0;
  return s;
}

}  // namespace vekmath
