// The events of a device's counter channels or timers, one queue per unit,
// and the waits that the library hands over for them: kernel requests kept
// pending, and sibling waits whose OVERLAPPED is set when events come.
// Thread-safe.
#pragma once
#include <windows.h>
#include <platform/device.h>

#include <cstdint>
#include <mutex>
#include <vector>

#include "pending_waits.h"

namespace halviksim {

class UnitEvents {
 public:
  static constexpr int kUnits = 8;
  static constexpr size_t kWordsMax = 256;

  UnitEvents();
  ~UnitEvents();
  UnitEvents(const UnitEvents&) = delete;
  UnitEvents& operator=(const UnitEvents&) = delete;

  void setMask(int unit, int32_t mask);
  int32_t mask(int unit);

  // A kernel wait: false when events are due already (the caller answers
  // it at once); true when kept pending.
  bool queueWait(int unit, PlatRequest* request);
  // A sibling wait: false when events are due already; true when kept, the
  // OVERLAPPED marked pending. At completion the record gets status 0 at 0
  // and int32 1 at eventsAt; a cancelled one 20034 and 0.
  bool queueWait(int unit, HANDLE handle, OVERLAPPED* overlapped, uint8_t* record, size_t eventsAt);
  // A closed sibling handle: its waits complete as cancelled.
  void cancelWaits(HANDLE handle);

  // Words beyond kWordsMax are dropped. `stopped` tells the next read that
  // the run is over. The unit's waits complete.
  void raise(int unit, const std::vector<int32_t>& words, int32_t param, bool stopped);
  struct Read {
    std::vector<int32_t> words;
    int32_t mask = 0;
    int32_t param = 0;
    bool stopped = false;
  };
  Read take(int unit);
  // A new run starts with nothing left over from the last.
  void clear(int unit);

 private:
  struct Queue {
    std::vector<int32_t> words;
    int32_t mask = 0;
    int32_t param = 0;
    bool stopped = false;
    bool due() const { return !words.empty() || stopped; }
  };

  static bool valid(int unit) { return unit >= 0 && unit < kUnits; }

  std::mutex mutex_;
  Queue queues_[kUnits];
  PendingWaits waits_;
};

}  // namespace halviksim
