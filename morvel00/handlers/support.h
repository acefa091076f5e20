// What the output, digital, counter and range handlers share: running a
// register sequence under the interrupt lock, the busy test, and the
// caller's memory (probed by the frame before the handler runs, reached
// only through its copies).
#pragma once
#include <atomic>
#include <cstdint>
#include <type_traits>

#include <morvel_requests.h>

#include "board_record.h"
#include "frame/caller_memory.h"

namespace morvel00 {

// Runs `f()` with the record's interrupt held off (XanSync).
template <typename F>
void XanLocked(XanBoardRecord* rec, F&& f) {
  using Fn = std::remove_reference_t<F>;
  XanSync(
      rec,
      [](PVOID p) -> BOOLEAN {
        (*static_cast<Fn*>(p))();
        return TRUE;
      },
      &f);
}

inline uint16_t XanState(const XanBoardRecord* rec) {
  return std::atomic_ref<const uint16_t>(rec->state).load(std::memory_order_acquire);
}
inline void XanSetState(XanBoardRecord* rec, uint16_t state) {
  std::atomic_ref<uint16_t>(rec->state).store(state, std::memory_order_release);
}
// State 1 or 2: an acquisition or output is set up or running.
inline bool XanBusy(const XanBoardRecord* rec) {
  const uint16_t s = XanState(rec);
  return s == XAN_STATE_STARTED || s == XAN_STATE_RUNNING;
}

// 0 or 1024 to 32767.
inline bool XanMessageValid(uint16_t message) { return message == 0 || (message >= 1024 && message <= 32767); }

}  // namespace morvel00
