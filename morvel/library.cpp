#include "library.h"

namespace morvel {

Library::Library() { InitializeCriticalSection(&lock); }

// An object, not a pointer kept for ever: the library can be unloaded, and
// then nothing would free it. Built during the attach, it is destroyed after
// the detach has closed every slot.
Library& library() {
  static Library instance;
  return instance;
}

int XanFindHandleSlot(uint32_t handle) {
  if (handle == kFreeHandle) return -1;
  Library& lib = library();
  for (int n = 0; n < kSlots; ++n) {
    if (lib.table.slots[n].handle.load() == handle) return n;
  }
  return -1;
}

void resetSlot(Slot& s) {
  s.handle.store(kFreeHandle);
  s.openCount = 0;
  s.closing = false;
  s.ownsFile = false;
  s.priority.store(0);
  for (int k = 0; k < kThreadKinds; ++k) {
    s.thread[k].store(nullptr);
    s.waitEvent[k].store(nullptr);
    s.run[k].store(false);
    s.ended[k].store(false);
  }
  s.readyEvent.store(nullptr);
  s.readyFailed.store(false);
}

void closeAllSlots() {
  for (int n = 0; n < kSlots; ++n) {
    Slot& s = slotAt(n);
    uint32_t h;
    {
      LockGuard lock;
      h = s.handle.load();
      if (h == kFreeHandle || s.closing) continue;
      s.openCount = 1;
    }
    XanClose(h);
  }
}

}  // namespace morvel
