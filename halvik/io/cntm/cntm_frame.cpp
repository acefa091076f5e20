#include "cntm_frame.h"
#include "library_state.h"

#include <deque>
#include <mutex>

namespace halvik::mcnt {

namespace {

struct PendingWaits {
  std::mutex lock;
  std::deque<PendingWait> waits;  // two a device; they never move once made
};

// Kept by the library state: the library's detach, which ends the workers,
// runs after the static objects made since its attach are gone.
PendingWait& waitOf(uint16_t index, int which) {
  PendingWaits& all = LibraryObject<PendingWaits>();
  std::lock_guard<std::mutex> guard(all.lock);
  while (all.waits.size() <= 2u * index + 1) all.waits.emplace_back();
  return all.waits[2u * index + which];
}

}  // namespace

LONG Find(ExportFrame& frame, int32_t id) {
  if (!frame.find(id)) return kStatusNoDevice;
  if (frame.record().Handle == INVALID_HANDLE_VALUE) return frame.end(kStatusNoDevice);
  return 0;
}

LONG KernelOnly(const ExportFrame& frame) {
  if (RoadOf(frame.record()) != Road::Kernel) return frame.end(rows::kStatusNotOnThisDevice);
  return 0;
}

PendingWait& EventWaitOf(uint16_t index) { return waitOf(index, 0); }
PendingWait& TimeUpWaitOf(uint16_t index) { return waitOf(index, 1); }

}  // namespace halvik::mcnt
