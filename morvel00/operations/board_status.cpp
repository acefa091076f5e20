// The board-memory state and count of a status request, and the stop.
#include <atomic>

#include "board_locate.h"
#include "board_operations.h"
#include "registers/xan_registers.h"

namespace morvel00 {

namespace {

constexpr int16_t kAddressUnsettled = 800;
constexpr unsigned kAddressAttempts = 101;
constexpr uint32_t kAddressSpace = 1u << 24;

// True when `later` is `earlier` or one past it, across the wrap at `size`.
bool Settled(uint32_t earlier, uint32_t later, uint32_t size) {
  return (uint64_t{later} + size - earlier) % size <= 1;
}

// W moves while the board samples, and its three bytes may straddle a
// carry; two of three successive reads a step apart are taken as agreed.
bool ReadWriteAddress(uint16_t base, uint16_t boardType, uint32_t size, uint32_t* w) {
  if (boardType == 201 || boardType == 203) return XanExGetWriteAddress(base, w) != 0;
  for (unsigned attempt = 0; attempt < kAddressAttempts; ++attempt) {
    uint32_t a = 0, b = 0, c = 0;
    XanExGetWriteAddress(base, &a);
    XanExGetWriteAddress(base, &b);
    XanExGetWriteAddress(base, &c);
    if (Settled(a, c, size)) {
      *w = a;
      return true;
    }
    if (Settled(a, b, size) || Settled(b, c, size)) {
      *w = b;
      return true;
    }
  }
  return false;
}

// The state a running board-memory input has reached from its status.
// A condition (16, 17) found in this call stands: the board that stops on
// a full memory also clears bit 0, and that must not read as a normal end.
// True when an error ended the input and the board was initialised.
bool FollowState(XanBoardRecord* rec) {
  std::atomic_ref<uint16_t> state(rec->state);
  if (state.load(std::memory_order_acquire) != XAN_STATE_STARTED) return false;
  uint16_t status = 0;
  XanExGetStatus(rec->ioBase[0], &status);
  if (status & 0x80) {
    state.store(XAN_STATE_MEMORY_17, std::memory_order_release);
    XanExInitialize(rec->ioBase[0]);
    return true;
  }
  if ((status & 0x08) && rec->memoryMode % 2 == 0) {
    state.store(XAN_STATE_MEMORY_16, std::memory_order_release);
  } else if ((status & 0x01) == 0) {
    state.store(XAN_STATE_FINISHED, std::memory_order_release);
  }
  return false;
}

}  // namespace

int16_t XanGetSts(XanBoardRecord* rec) {
  const uint16_t base = rec->ioBase[0];
  std::atomic_ref<uint32_t> count(rec->count);
  if ((rec->triggerSource == 0 || rec->interruptLine == kNoLine) && FollowState(rec)) return XAN_OK;
  const uint32_t size = rec->memorySamples != 0 ? rec->memorySamples : kAddressSpace;
  uint32_t w = 0;
  if (!ReadWriteAddress(base, rec->boardType[0], size, &w)) {
    count.store(0, std::memory_order_release);
    return kAddressUnsettled;
  }
  uint32_t r = 0;
  XanExGetReadAddress(base, &r);
  count.store(w >= r ? w - r : size - r + w, std::memory_order_release);
  return XAN_OK;
}

bool XanStop(XanBoardRecord* rec) {
  const uint16_t base = rec->ioBase[0];
  XanExStopAI(base);
  if (rec->triggerSource != 0) XanExSetIntMask(base, 0xFFFF);
  // Under the interrupt lock a board that never clears bit 0 must not hold
  // the machine: the wait ends after kStopPolls reads.
  bool idle = false;
  for (unsigned poll = 0; poll < kStopPolls && !idle; ++poll) {
    uint16_t status = 0;
    XanExGetStatus(base, &status);
    idle = (status & 0x01) == 0;
  }
  if (rec->kind == kKindBackgroundInput) {
    XanExClose8254(base);
    XanExCloseExtTrigger(base);
  }
  return idle;
}

}  // namespace morvel00
