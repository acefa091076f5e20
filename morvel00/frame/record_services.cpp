// The record lookup, the interrupt lock, the polling timer and the sleep.
#include "board_record.h"

namespace morvel00 {

XanBoardRecord* Sub_GetBRDHND(XanDeviceExtension* ext, uint32_t handle) {
  // A free record's owner is 0, so 0 must never match.
  if (ext == nullptr || handle == 0) return nullptr;
  for (int16_t g = 0; g < ext->groupCount && g < static_cast<int16_t>(kMaxGroups); ++g) {
    if (ext->records[g].owner == handle) return &ext->records[g];
  }
  return nullptr;
}

BOOLEAN XanSync(XanBoardRecord* rec, PKSYNCHRONIZE_ROUTINE routine, PVOID context) {
  if (rec->interrupt != nullptr) return KeSynchronizeExecution(rec->interrupt, routine, context);
  KIRQL irql;
  KeAcquireSpinLock(&rec->registerLock, &irql);
  const BOOLEAN result = routine(context);
  KeReleaseSpinLock(&rec->registerLock, irql);
  return result;
}

void Sub_SetTimer(XanBoardRecord* rec) {
  // 65,535 x 100,000 units of 100 ns does not fit 32 bits.
  LARGE_INTEGER due;
  due.QuadPart = -static_cast<LONGLONG>(rec->clockCount) * 100'000LL;
  KeSetTimer(&rec->timer, due, &rec->timerDpc);
}

void Sub_CancelTimer(XanBoardRecord* rec) { KeCancelTimer(&rec->timer); }

void Sub_SysWait(uint16_t milliseconds) {
  LARGE_INTEGER interval;
  interval.QuadPart = -static_cast<LONGLONG>(milliseconds) * 10'000LL;
  KeDelayExecutionThread(KernelMode, FALSE, &interval);
}

}  // namespace morvel00
