// The block reader's way to the trigger events: the process ring and the
// event-window buffer.
#include "acquisition/ring.h"
#include "triggers/trigger_events.h"

namespace vekmath {

TakenEvent takeNextEventWindow(uint16_t* dest, std::size_t capacity) {
  Ring& r = ring();
  return triggerEvents().take(r.samples, r.length.load(), dest, capacity);
}

uint16_t* eventWindowBuffer() {
  // Static and untouched until used: zero pages cost nothing.
  static uint16_t buffer[kEventWindowCapacity];
  return buffer;
}

}  // namespace vekmath
