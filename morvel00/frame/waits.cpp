// The three pended waits: storing them cancel-safe, completing them from the
// event DPC, the timer, stop and close, and the cancel routine.
//
// Who completes a stored IRP is decided by IoSetCancelRoutine(irp, nullptr):
// whoever takes the routine off completes it; when it is gone already, the
// cancel routine runs (or has run) and completes it itself.
#include <atomic>

#include "board_record.h"
#include "frame/ports.h"

namespace morvel00 {

namespace {

PIRP& SlotOf(XanBoardRecord* rec, WaitSlot slot) {
  return slot == kWaitCounter ? rec->pendedCounterWait : rec->pendedWait;
}

PIRP Take(XanBoardRecord* rec, WaitSlot slot) {
  XanDeviceExtension* ext = rec->extension;
  KIRQL irql;
  KeAcquireSpinLock(&ext->spinLock, &irql);
  PIRP irp = SlotOf(rec, slot);
  SlotOf(rec, slot) = nullptr;
  KeReleaseSpinLock(&ext->spinLock, irql);
  if (irp != nullptr && IoSetCancelRoutine(irp, nullptr) == nullptr) return nullptr;
  return irp;
}

void Finish(PIRP irp, NTSTATUS status, bool keepRecord) {
  irp->IoStatus.Status = status;
  if (!keepRecord) irp->IoStatus.Information = 0;
  IoCompleteRequest(irp, IO_NO_INCREMENT);
}

struct MaskContext {
  XanBoardRecord* rec;
};

// Disarms the record and masks the board, so that the interrupt path
// writes nothing more into the acquisition buffer; then the buffer goes.
BOOLEAN DisarmAndDetach(PVOID context) {
  auto* rec = static_cast<MaskContext*>(context)->rec;
  rec->armed = 0;
  if (rec->boardCount > 0) ports::CommandWord(rec->ioBase[0], ports::kCmdMask, 0xFFFF);
  return TRUE;
}

struct DetachContext {
  XanBoardRecord* rec;
  uint16_t* buffer;
  uint16_t* list;
};

BOOLEAN DetachBuffers(PVOID context) {
  auto* c = static_cast<DetachContext*>(context);
  c->buffer = c->rec->acquisitionBuffer;
  c->list = c->rec->listCopy;
  c->rec->acquisitionBuffer = nullptr;
  c->rec->acquisitionBytes = 0;
  c->rec->listCopy = nullptr;
  return TRUE;
}

void StopInputAndFreeBuffers(XanBoardRecord* rec) {
  MaskContext mask{rec};
  XanSync(rec, DisarmAndDetach, &mask);
  Sub_CancelTimer(rec);
  DetachContext detach{rec, nullptr, nullptr};
  XanSync(rec, DetachBuffers, &detach);
  if (detach.buffer != nullptr) ExFreePool(detach.buffer);
  if (detach.list != nullptr) ExFreePool(detach.list);
}

VOID CancelRoutine(PDEVICE_OBJECT device, PIRP irp) {
  IoReleaseCancelSpinLock(irp->CancelIrql);
  auto* ext = static_cast<XanDeviceExtension*>(device->DeviceExtension);
  for (int16_t g = 0; g < ext->groupCount; ++g) {
    XanBoardRecord* rec = &ext->records[g];
    KIRQL irql;
    KeAcquireSpinLock(&ext->spinLock, &irql);
    const bool input = rec->pendedWait == irp;
    const bool counter = rec->pendedCounterWait == irp;
    if (input) rec->pendedWait = nullptr;
    if (counter) rec->pendedCounterWait = nullptr;
    KeReleaseSpinLock(&ext->spinLock, irql);
    if (input) StopInputAndFreeBuffers(rec);
  }
  // The IRP is this routine's whether a record still held it or not.
  Finish(irp, STATUS_CANCELLED, false);
}

}  // namespace

void XanPendWait(XanBoardRecord* rec, PIRP irp, WaitSlot slot) {
  XanDeviceExtension* ext = rec->extension;
  KIRQL cancelIrql;
  IoAcquireCancelSpinLock(&cancelIrql);
  IoSetCancelRoutine(irp, CancelRoutine);
  if (irp->Cancel && IoSetCancelRoutine(irp, nullptr) != nullptr) {
    IoReleaseCancelSpinLock(cancelIrql);
    Finish(irp, STATUS_CANCELLED, false);
    return;
  }
  KeAcquireSpinLockAtDpcLevel(&ext->spinLock);
  PIRP replaced = nullptr;
  if (!irp->Cancel) {
    replaced = SlotOf(rec, slot);
    SlotOf(rec, slot) = irp;
  }
  KeReleaseSpinLockFromDpcLevel(&ext->spinLock);
  IoReleaseCancelSpinLock(cancelIrql);
  if (replaced != nullptr && IoSetCancelRoutine(replaced, nullptr) != nullptr) {
    Finish(replaced, STATUS_CANCELLED, false);
  }
}

void Sub_SetEvent(XanBoardRecord* rec) {
  if (PIRP irp = Take(rec, kWaitInput)) Finish(irp, STATUS_SUCCESS, true);
}

void Sub_SetEventCnt(XanBoardRecord* rec) {
  if (PIRP irp = Take(rec, kWaitCounter)) Finish(irp, STATUS_SUCCESS, true);
}

void XanQueueEvent(XanBoardRecord* rec, uint32_t waits) {
  std::atomic_ref<uint32_t>(rec->pendingEvents).fetch_or(waits, std::memory_order_acq_rel);
  KeInsertQueueDpc(&rec->eventDpc, nullptr, nullptr);
}

VOID EventDpc(PKDPC, PVOID context, PVOID, PVOID) {
  auto* rec = static_cast<XanBoardRecord*>(context);
  // A queued DPC is queued once: the events of every ISR run since then are
  // in pendingEvents.
  const uint32_t waits = std::atomic_ref<uint32_t>(rec->pendingEvents).exchange(0, std::memory_order_acq_rel);
  if (waits & kWaitInput) Sub_SetEvent(rec);
  if (waits & kWaitCounter) Sub_SetEventCnt(rec);
}

}  // namespace morvel00
