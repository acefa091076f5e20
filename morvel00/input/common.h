// What the input handlers share: the busy test, the message rule, and the
// copy of a caller's channel list into driver memory.
#pragma once
#include <atomic>

#include <morvel_requests.h>

#include "board_record.h"
#include "frame/caller_memory.h"

namespace morvel00 {

// State 1 or 2: an acquisition is waiting for its trigger or running.
inline bool XanBusy(XanBoardRecord* rec) {
  const uint16_t state = std::atomic_ref<uint16_t>(rec->state).load(std::memory_order_acquire);
  return state == XAN_STATE_STARTED || state == XAN_STATE_RUNNING;
}

// 0 (no message) or a message number from 1024 to 32767.
inline bool XanMessageValid(uint16_t message) { return message == 0 || (message >= 1024 && message <= 32767); }

// `count` entries, which the frame probed; STATUS_INVALID_USER_BUFFER when
// the caller has given them up since.
inline NTSTATUS XanCopyCallerList(uint64_t address, int count, uint16_t* out) {
  return XanCopyFromCaller(out, address, sizeof(uint16_t) * count);
}

// The board-memory wait starts an acquisition that waits for it.
void XanStartBdMemConversion(XanBoardRecord* rec);
// The background input's wait opens its pacer, trigger or polling timer.
void XanArmBackground(XanBoardRecord* rec);
// An ended background input's whole buffer to its caller, as its status
// request copies it: for the counter wait that takes the interrupt step
// before that request has come.
void XanHandOverBackground(XanBoardRecord* rec);

}  // namespace morvel00
