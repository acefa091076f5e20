// The shared interrupt, the interrupt-time step and the polling timer's DPC.
#include <atomic>

#include <morvel_requests.h>

#include "board_record.h"
#include "frame/internal.h"
#include "frame/ports.h"

namespace morvel00 {

bool XanPCIShareCheck(XanBoardRecord* rec) {
  const uint16_t base = rec->ioBase[0];
  const uint16_t factors = ports::ReadCommandWord(base, ports::kCmdFactors);
  if (factors == 0) return false;
  ports::CommandWord(base, ports::kCmdFactorReset, factors);
  std::atomic_ref<uint16_t>(rec->lastFactor).store(factors, std::memory_order_release);
  return (factors & static_cast<uint16_t>(~rec->savedMask)) != 0;
}

BOOLEAN InterruptService(PKINTERRUPT, PVOID context) {
  auto* rec = static_cast<XanBoardRecord*>(context);
  if (!XanPCIShareCheck(rec)) return FALSE;
  if (rec->armed == 0) return TRUE;
  if (rec->completeByDpc != 0) {
    std::atomic_ref<uint16_t>(rec->state).store(XAN_STATE_DATA_READY, std::memory_order_release);
    ports::CommandWord(rec->ioBase[0], ports::kCmdMask, 0xFFFF);
    XanQueueEvent(rec, kWaitInput);
    return TRUE;
  }
  handler_IRT(rec);
  return TRUE;
}

BOOLEAN handler_IRT(XanBoardRecord* rec) {
  if (rec == nullptr) return FALSE;
  switch (rec->kind) {
    case kKindCounter:
      ports::CommandWord(rec->ioBase[0], ports::kCmdMask, 0xFFFF);
      ++rec->counterInterrupts;
      if (rec->counterInterrupts >= 2) {
        ports::Command(rec->ioBase[0], ports::kCmdGateClose);
        rec->gateOpen = 0;
        rec->counterOverflows = 0;
        rec->gateClosed = 1;
      }
      XanQueueEvent(rec, kWaitCounter);
      break;
    case kKindBoardMemory:
      InpBdMemHandler(rec);
      break;
    case kKindBackgroundInput:
      InpBackHandler(rec);
      break;
    default:
      break;
  }
  return TRUE;
}

namespace {
BOOLEAN RunStep(PVOID context) { return handler_IRT(static_cast<XanBoardRecord*>(context)); }
}  // namespace

VOID TimerIsrDpc(PKDPC, PVOID context, PVOID, PVOID) {
  auto* rec = static_cast<XanBoardRecord*>(context);
  XanDeviceExtension* ext = rec->extension;
  KeAcquireSpinLockAtDpcLevel(&ext->spinLock);
  const bool armed = rec->armed != 0;
  const bool byDpc = rec->completeByDpc == 1;
  KeReleaseSpinLockFromDpcLevel(&ext->spinLock);
  if (!armed) return;
  if (!byDpc) {
    // Under the interrupt lock, so a command and its data bytes never
    // interleave with a handler's or the ISR's.
    XanSync(rec, RunStep, rec);
    return;
  }
  std::atomic_ref<uint16_t>(rec->state).store(XAN_STATE_DATA_READY, std::memory_order_release);
  Sub_SetEvent(rec);
}

}  // namespace morvel00
