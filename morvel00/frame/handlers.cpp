// The handlers the frame itself needs: open, close, status, the three
// waits, and the codes that only check the handle.
#include <atomic>

#include "frame/ports.h"
#include "handlers.h"
#include "input/common.h"
#include "operations/sync_callbacks.h"

namespace morvel00 {

namespace {

// Only what a run sets. What the board is (its type, channel counts and
// memory size) stays as start-up found it: the read position and the count
// wrap at the board's own memory size.
void ResetForOpen(XanBoardRecord* rec) {
  rec->backMode = 0;
  rec->timeBase = 0;
  rec->clockCount = 0;
  rec->savedMask = 0xFFFF;
  rec->delayCount = 0;
  rec->memoryMode = 0;
  rec->triggerSource = 0;
  rec->triggerAddress = 0;
  rec->windowA = rec->windowB = 0;
  rec->messageA = rec->messageB = 0;
  rec->reserved = 0;
  rec->completeByDpc = 0;
  rec->gateOpen = 0;
  rec->gateClosed = 0;
  rec->counterErrorLimit = 0;
  for (uint32_t& v : rec->counterValue) v = 0;
  rec->counterOverflows = 0;
  rec->counterInterrupts = 0;
  rec->scans = 0;
  rec->outputSamples = 0;
  rec->inputCount = 1;
  rec->outputCount = 1;
  rec->kind = kKindNone;
  rec->state = XAN_STATE_FINISHED;
  rec->lastState = XAN_STATE_FINISHED;
  rec->count = 0;
  rec->lastCount = 0;
  rec->passCount = 0;
  // A left-over armed mark would let the interrupt path run a step for a
  // record that has not set anything up.
  rec->armed = 0;
  rec->started = 0;
  for (auto& board : rec->listPosition) {
    for (uint16_t& position : board) position = 0;
  }
}

BOOLEAN QuietBoards(PVOID context) {
  auto* rec = static_cast<XanBoardRecord*>(context);
  rec->armed = 0;
  for (int16_t b = 0; b < rec->boardCount; ++b) ports::Command(rec->ioBase[b], ports::kCmdInitialise);
  return TRUE;
}

}  // namespace

void XanCloseRecord(XanBoardRecord* rec) {
  Sub_CancelTimer(rec);
  XanSync(rec, QuietBoards, rec);
  rec->kind = kKindNone;
  std::atomic_ref<uint16_t>(rec->state).store(XAN_STATE_CLOSED, std::memory_order_release);
  rec->triggerSource = 0;
  rec->gateClosed = 1;
  rec->completeByDpc = 0;
  rec->gateOpen = 0;
  rec->counterOverflows = 0;
  rec->owner = 0;
  rec->ownerFile = nullptr;
  Sub_SetEvent(rec);
  Sub_SetEventCnt(rec);
}

NTSTATUS GpdIoctlOpen(XanCall& call) {
  XanOpenRecord& r = call.request->open;
  r.result = XAN_OK;
  if (r.handle == 0) {
    // 0 marks a free record; no open handle has it.
    r.result = XAN_E_UNKNOWN_HANDLE;
    return STATUS_SUCCESS;
  }
  if (r.group < 1 || r.group > call.ext->groupCount) {
    r.result = XAN_E_GROUP;
    return STATUS_SUCCESS;
  }
  XanBoardRecord* rec = &call.ext->records[r.group - 1];
  ExAcquireFastMutex(&rec->handlerMutex);
  if (rec->startupCode != 0) {
    r.result = static_cast<int16_t>(rec->startupCode);
  } else if (Sub_GetBRDHND(call.ext, r.handle) != nullptr) {
    r.result = XAN_E_HANDLE_OWNS;
  } else if (rec->owner != 0) {
    r.result = XAN_E_OWNED;
    r.handle = rec->owner;
  } else {
    ResetForOpen(rec);
    XanSyncCall check{rec};
    XanSync(rec, SyncXanBoardCheck, &check);
    r.result = static_cast<int16_t>(check.result);
    if (r.result == XAN_OK) {
      rec->owner = r.handle;
      rec->ownerFile = call.file;
    }
  }
  ExReleaseFastMutex(&rec->handlerMutex);
  return STATUS_SUCCESS;
}

NTSTATUS GpdIoctlClose(XanCall& call) {
  call.request->head.result = XAN_OK;
  XanCloseRecord(call.rec);
  return STATUS_SUCCESS;
}

NTSTATUS GpdIoctlSts(XanCall& call) {
  XanStsRecord& r = call.request->sts;
  XanBoardRecord* rec = call.rec;
  r.result = XAN_OK;
  r.passCount = rec->passCount;
  if (rec->kind == kKindBackgroundInput) {
    // A background input reports what its last status request handed out.
    r.state = rec->lastState;
    r.count = rec->lastCount;
    return STATUS_SUCCESS;
  }
  if (rec->kind == kKindBoardMemory || rec->kind == kKindCounter) {
    XanSyncCall sts{rec};
    XanSync(rec, SyncXanGetSts, &sts);
    if (sts.result != XAN_OK) {
      r.result = static_cast<int16_t>(sts.result);
      r.count = 0;
      r.state = std::atomic_ref<const uint16_t>(rec->state).load(std::memory_order_acquire);
      return STATUS_SUCCESS;
    }
  }
  r.state = std::atomic_ref<const uint16_t>(rec->state).load(std::memory_order_acquire);
  r.count = std::atomic_ref<const uint32_t>(rec->count).load(std::memory_order_acquire);
  return STATUS_SUCCESS;
}

namespace {

// As the stop sees it: waiting for its trigger or running, or a
// board-memory ring that goes on past its condition.
bool Running(XanBoardRecord* rec) {
  const uint16_t state = std::atomic_ref<uint16_t>(rec->state).load(std::memory_order_acquire);
  return XanBusy(rec) || (rec->kind == kKindBoardMemory && state == XAN_STATE_MEMORY_16 && rec->memoryRing != 0);
}

NTSTATUS Pend(XanCall& call, WaitSlot slot) {
  IoMarkIrpPending(call.irp);
  call.irp->IoStatus.Status = STATUS_PENDING;
  call.rec->armed = 1;
  XanPendWait(call.rec, call.irp, slot);
  return STATUS_PENDING;
}

}  // namespace

NTSTATUS GpdIoctlGetMeg(XanCall& call) {
  call.request->head.result = XAN_OK;
  // A run stopped or ended before its wait came is not armed again, also
  // when a counter wait has taken the record since: the wait answers at
  // once, and its status then finds the state.
  if (call.rec->kind != kKindNone && !XanBusy(call.rec)) return STATUS_SUCCESS;
  const NTSTATUS pended = Pend(call, kWaitInput);
  if (call.rec->kind == kKindBackgroundInput) XanArmBackground(call.rec);
  return pended;
}

NTSTATUS GpdIoctlGetMegCnt(XanCall& call) {
  XanCntNotifyRecord& r = call.request->cntNotify;
  r.window = call.rec->gateWindow;
  r.message = call.rec->gateMessage;
  XanBoardRecord* rec = call.rec;
  // A running acquisition keeps its interrupt step; the counter's events
  // then come through the counter gate's own path. One that has ended
  // would keep the counter's interrupts for itself: the step becomes the
  // counter's, a background input's scans handed over first, as its
  // status request copies none once the step is the counter's.
  if (!Running(rec)) {
    if (rec->kind == kKindBackgroundInput) XanHandOverBackground(rec);
    rec->kind = kKindCounter;
  }
  const NTSTATUS status = Pend(call, kWaitCounter);
  // Let the counter's factor through only once the wait is armed for it.
  XanSyncCall mask{rec, {0xEFFF}};
  XanSync(rec, SyncXanExSetIntMask, &mask);
  return status;
}

NTSTATUS GpdIoctlGetMegMem(XanCall& call) {
  XanWait32Record& r = call.request->wait;
  XanBoardRecord* rec = call.rec;
  r.result = XAN_OK;
  const uint16_t state = std::atomic_ref<uint16_t>(rec->state).load(std::memory_order_acquire);
  r.memoryFlag = state == XAN_STATE_DATA_READY ? 0 : 1;
  // An acquisition that has ended already answers at once.
  if (rec->started != 0 && (state == XAN_STATE_FINISHED || state == XAN_STATE_STOPPED)) return STATUS_SUCCESS;
  const bool start = rec->kind == kKindBoardMemory && rec->started == 0 && state == XAN_STATE_FINISHED;
  rec->completeByDpc = 0;
  const NTSTATUS pended = Pend(call, kWaitInput);
  // Pended first, so that the interrupt of a short acquisition finds the wait.
  if (start) {
    rec->started = 1;
    std::atomic_ref<uint16_t>(rec->state).store(XAN_STATE_STARTED, std::memory_order_release);
    XanStartBdMemConversion(rec);
  }
  return pended;
}

NTSTATUS GpdIoctlOnlyHandle(XanCall& call) {
  call.request->head.result = XAN_OK;
  return STATUS_SUCCESS;
}

}  // namespace morvel00
