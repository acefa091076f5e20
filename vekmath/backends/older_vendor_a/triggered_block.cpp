#include "backends/older_vendor_a/triggered_block.h"

#include <windows.h>

#include <algorithm>

#include "acquisition/backend.h"
#include "acquisition/ring.h"
#include "backends/older_vendor_a/morvel_call.h"
#include "backends/older_vendor_a/status_texts.h"
#include "blocks/read_block.h"

namespace vekmath {
namespace {

using M = MorvelBinding;

int32_t failWith(int32_t code) {
  setOlderVendorAStatusText(code);
  return code;
}

int32_t readScans(uint32_t handle, XanReadBufParams& read, int32_t scans, uint16_t* into) {
  read.scans = scans;
  read.array = reinterpret_cast<uintptr_t>(into);
  return callMorvel<&M::XanReadBuf>(handle, &read);
}

// The board memory keeps sampling until the trigger; what lies beyond the
// newest block goes, through the window, never more than a block at once
// (the window holds no more).
int32_t discardSurplus(uint32_t handle, XanReadBufParams& read, const TriggeredBlock& block, uint32_t count) {
  int64_t surplus = int64_t{count} / block.channels - block.scans;
  while (surplus > 0) {
    const int32_t chunk = static_cast<int32_t>(std::min<int64_t>(surplus, block.scans));
    if (int32_t r = readScans(handle, read, chunk, block.window); r != 0) return r;
    surplus -= chunk;
  }
  return 0;
}

}  // namespace

int32_t readOlderTriggeredBlock(TriggeredBlock& block, uint32_t handle, OlderBoardRecords& records) {
  block.filled = 0;
  Ring& r = ring();
  r.writeIndex.store(0);
  r.lastChunkOverrun.store(0);
  r.unread.store(0);
  if (int32_t res = callMorvel<&M::XanInpBdMem>(handle, records.mode,
                                                reinterpret_cast<XanInpBdMemParams*>(&records.level), uint32_t{0},
                                                uint16_t{0}, uint32_t{0}, uint16_t{0});
      res != 0) {
    return failWith(res);
  }
  XanReadBufParams& read = records.read;
  uint16_t boardState = 0;
  uint32_t count = 0;
  auto poll = [&] {
    if (int32_t res = callMorvel<&M::XanSts>(handle, &boardState, &count, nullptr); res != 0) return res;
    return discardSurplus(handle, read, block, count);
  };
  if (int32_t res = poll(); res != 0) return failWith(res);
  while (boardState == kOlderBoardRunning) {
    pumpOneMessage();
    // A trigger that never comes must not keep the caller here.
    if (r.stopRequested.load() != 0) return 0;
    Sleep(0);
    if (int32_t res = poll(); res != 0) return failWith(res);
  }
  r.running.store(static_cast<int16_t>(boardState));
  r.scanCounter.store(static_cast<int32_t>(count));
  if (r.stopRequested.load() != 0) {
    r.running.store(0);
    return 0;
  }
  if (int32_t res = readScans(handle, read, block.scans, block.window); res != 0) return failWith(res);
  block.filled = block.scans;
  return 0;
}

}  // namespace vekmath
