// Trigger events of a run: the detector's results, the pending, completed
// and window lists, and the window copy that the block reader takes.
//
// The acquisition thread (or a back end's own callback thread: one producer
// at a time) detects and completes events; the caller's thread takes them.
// The lists sit behind one lock; the completed count can be polled without
// it.
#pragma once
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>

#include "triggers/trigger_detector.h"

namespace vekmath {

// What one take hands back.
struct TakenEvent {
  bool taken = false;      // false: no completed event was waiting
  int32_t position = 0;    // ring position of the window start (negative: before the last wrap)
  int32_t samples = 0;     // samples written to the destination
  int32_t left = 0;        // completed events still waiting
};

// Most pending events kept; beyond it the oldest goes, so a noisy trigger
// channel cannot grow the list without bound while the completer takes one
// event per pass.
inline constexpr std::size_t kMaxPendingEvents = 65536;

class TriggerEvents {
 public:
  // Producer side. Arms the detector for a run with the current
  // configuration and clears its crossing flags.
  void arm(const TriggerSettings& settings);

  // One pass: the detector over `scans` new scans written at ring position
  // writeBefore, then the completer against writeAfter (the write index once
  // the pass is counted). ringWrapped: the ring has wrapped at least once.
  void detectAndComplete(const uint16_t* ring, int32_t ringLength, int32_t writeBefore, int32_t writeAfter,
                         int32_t scans, bool ringWrapped);

  // The ring wrapped: the last completed window no longer describes it.
  void onWrap();

  // Empties every list and clears the crossing flags.
  void reset();

  // Caller side.
  int32_t completedCount() const { return completed_.load(std::memory_order_acquire); }

  // Copies the oldest completed event's window (channels x block scans
  // samples, across the ring's end when needed, at most `capacity` samples)
  // into dest, removes the event and writes the debug line. Nothing is
  // copied when dest is null.
  TakenEvent take(const uint16_t* ring, int32_t ringLength, uint16_t* dest, std::size_t capacity);

  // For tests: copies of the lists.
  std::deque<int32_t> pendingSnapshot() const;
  std::deque<int32_t> completedSnapshot() const;
  std::optional<int32_t> windowSnapshot() const;
  TriggerFlags flagsSnapshot() const;

 private:
  mutable std::mutex lock_;
  TriggerDetector detector_;
  std::deque<int32_t> pending_;
  std::deque<int32_t> completedList_;
  std::optional<int32_t> window_;
  std::atomic<int32_t> completed_{0};
  int32_t windowSamples_ = 0;  // channels x block scans of the armed run
};

TriggerEvents& triggerEvents();

// The settings of the current configuration (channels, trigger channel,
// levels, offset, block length, zero, data format).
TriggerSettings currentTriggerSettings();

// For the block reader: the oldest completed event's window, copied from
// the process ring into dest (see TriggerEvents::take).
TakenEvent takeNextEventWindow(uint16_t* dest, std::size_t capacity);

// The event-window buffer: room for one window of any ring-sized block; the
// triggered-block road may assemble its block in it as well.
inline constexpr std::size_t kEventWindowCapacity = 16000000;
uint16_t* eventWindowBuffer();

}  // namespace vekmath
