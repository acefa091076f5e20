// Background input: the set-up (0x08), the arming its wait does, the
// interrupt-time step that moves one scan per pacer tick or poll into the
// driver's buffer, and the status (0x40) and data (0x80) requests that copy
// it out to the caller. A run whose caller has given its buffer up ends in
// error at the copy that finds it gone.
#include <atomic>
#include <cstring>

#include "handlers.h"
#include "input/common.h"
#include "input/scan_conversion.h"
#include "operations/board_locate.h"
#include "operations/board_operations.h"
#include "registers/port_access.h"
#include "registers/xan_registers.h"

namespace morvel00 {

namespace {

constexpr uint32_t kMaxScans = 0xFFFFFF;
constexpr uint64_t kMaxBufferBytes = uint64_t{256} << 20;
constexpr unsigned kConversionPolls = 65535;
constexpr ULONG kPoolTag = 0x206B6444;  // "Ddk "
constexpr int kMaxListed = kMaxBoards * kListPositions;

bool Paced(const XanBoardRecord* rec) { return rec->timeBase != 0; }

std::atomic_ref<uint16_t> StateOf(XanBoardRecord* rec) { return std::atomic_ref<uint16_t>(rec->state); }

// Gate and trigger closed, interrupts masked: what every way to an event
// leaves, before the event DPC is queued.
void EndWithEvent(XanBoardRecord* rec, uint16_t state, bool cancelTimer) {
  const uint16_t base = rec->ioBase[0];
  rec->completeByDpc = 1;
  StateOf(rec).store(state, std::memory_order_release);
  if (cancelTimer && !Paced(rec)) Sub_CancelTimer(rec);
  XanExClose8254(base);
  XanExCloseExtTrigger(base);
  XanExSetIntMask(base, 0xFFFF);
  XanExResetIntRegister(base, 0xFFFF);
  rec->savedMask = 0xFFFF;
  XanQueueEvent(rec, kWaitInput);
}

struct Swap {
  XanBoardRecord* rec;
  uint16_t* buffer;
  size_t bytes;
  uint16_t* list;
};

// The interrupt path reads the buffer pointers: they change under its lock.
BOOLEAN SwapBuffers(PVOID context) {
  auto* c = static_cast<Swap*>(context);
  c->rec->armed = 0;
  std::swap(c->rec->acquisitionBuffer, c->buffer);
  std::swap(c->rec->acquisitionBytes, c->bytes);
  std::swap(c->rec->listCopy, c->list);
  return TRUE;
}

struct Start {
  XanBoardRecord* rec;
  int16_t result = XAN_OK;
};

BOOLEAN StartBackground(PVOID context) {
  auto* c = static_cast<Start*>(context);
  XanBoardRecord* rec = c->rec;
  c->result = XanSetADMode(rec, rec->listCopy, rec->inputCount);
  if (c->result != XAN_OK) return TRUE;
  uint16_t state = XAN_STATE_STARTED;
  if (rec->backMode == 0 || rec->backMode == 3) {
    state = XAN_STATE_RUNNING;
    if (Paced(rec)) XanSetCounter(rec);
  }
  StateOf(rec).store(state, std::memory_order_release);
  rec->lastState = state;
  return TRUE;
}

// The checks up to the channel list, which bound its copy.
int16_t CheckCount(XanBoardRecord* rec, const XanBackRecord& r) {
  if (XanBusy(rec)) return XAN_E_BUSY;
  if (r.count < 1 || r.count > rec->inputTotal || r.count > kMaxListed) return XAN_E_CHANNEL_COUNT;
  return XAN_OK;
}

// The checks from the list (copied) on.
int16_t CheckRequest(XanBoardRecord* rec, const XanBackRecord& r, const uint16_t* list) {
  if (const int16_t check = XanCheckChannelList(rec, list, r.count); check != XAN_OK) return check;
  if (r.scansOrRepeat < 1 || r.scansOrRepeat > kMaxScans) return XAN_E_SAMPLES;
  if (!XanMessageValid(r.messageA) || !XanMessageValid(r.messageB)) return XAN_E_MESSAGE;
  if (const int16_t check = XanInpBackParaChk(rec, &r); check != XAN_OK) return check;
  // 512 channels of 0xFFFFFF scans would wrap a 32-bit size.
  if (uint64_t{static_cast<uint16_t>(r.count)} * r.scansOrRepeat * 2 > kMaxBufferBytes) return XAN_E_MEMORY;
  return XAN_OK;
}

}  // namespace

NTSTATUS GpdIoctlInpBack(XanCall& call) {
  XanBackRecord& r = call.request->back;
  XanBoardRecord* rec = call.rec;
  uint16_t list[kMaxListed];
  r.result = CheckCount(rec, r);
  if (r.result != XAN_OK) return STATUS_SUCCESS;
  if (const NTSTATUS copied = XanCopyCallerList(r.channelListAddress, r.count, list); !NT_SUCCESS(copied)) {
    return copied;
  }
  r.result = CheckRequest(rec, r, list);
  if (r.result != XAN_OK) return STATUS_SUCCESS;

  const size_t bytes = size_t{static_cast<uint16_t>(r.count)} * r.scansOrRepeat * 2;
  auto* buffer = static_cast<uint16_t*>(ExAllocatePoolWithTag(NonPagedPool, bytes, kPoolTag));
  auto* copy = static_cast<uint16_t*>(ExAllocatePoolWithTag(NonPagedPool, sizeof(uint16_t) * r.count, kPoolTag));
  if (buffer == nullptr || copy == nullptr) {
    if (buffer != nullptr) ExFreePool(buffer);
    if (copy != nullptr) ExFreePool(copy);
    r.result = XAN_E_MEMORY;
    return STATUS_SUCCESS;
  }
  std::memset(buffer, 0, bytes);
  std::memcpy(copy, list, sizeof(uint16_t) * r.count);

  Swap swap{rec, buffer, bytes, copy};
  XanSync(rec, SwapBuffers, &swap);
  if (swap.buffer != nullptr) ExFreePool(swap.buffer);
  if (swap.list != nullptr) ExFreePool(swap.list);

  rec->callerDataAddress = r.dataAddress;
  rec->callerListAddress = r.channelListAddress;
  rec->kind = kKindBackgroundInput;
  rec->triggerSource = 7;
  std::atomic_ref<uint32_t>(rec->count).store(0, std::memory_order_release);
  rec->lastCount = 0;
  rec->passCount = 0;
  rec->completeByDpc = 0;
  rec->backMode = static_cast<uint16_t>(r.mode);
  rec->inputChannelListAddress = r.channelListAddress;
  rec->inputDataAddress = r.dataAddress;
  rec->inputCount = static_cast<uint16_t>(r.count);
  rec->scans = r.scansOrRepeat;
  rec->windowA = r.windowA;
  rec->messageA = r.messageA;
  rec->windowB = r.windowB;
  rec->messageB = r.messageB;
  rec->reserved = r.reserved;
  rec->timeBase = r.timeBase;
  rec->clockCount = r.clockCount;
  if (rec->timeBase != 0 && rec->clockCount == 1) {
    rec->timeBase = static_cast<uint16_t>(rec->timeBase - 1);
    rec->clockCount = 1000;
  }
  Start start{rec};
  XanSync(rec, StartBackground, &start);
  r.result = start.result;
  return STATUS_SUCCESS;
}

namespace {

BOOLEAN ArmBackground(PVOID context) {
  auto* rec = static_cast<XanBoardRecord*>(context);
  const uint16_t base = rec->ioBase[0];
  switch (rec->backMode) {
    case 1:
    case 2:
    case 4:
    case 5: {
      rec->savedMask = 0xBFFF;
      XanExSetIntMask(base, rec->savedMask);
      XanExOpenExtTrigger(base);
      XanExResetExtTriggerStatus(base);
      uint8_t status = 0;
      XanExGetExtTriggerStatus(base, &status);
      break;
    }
    case 0:
    case 3:
      if (Paced(rec)) {
        rec->savedMask = 0xEFFF;
        XanExSetIntMask(base, rec->savedMask);
        XanExOpen8254(base);
        XanExReset8254Flag(base);
        XanExResetExtTriggerStatus(base);
      } else {
        rec->savedMask = 0xFFFF;
        XanExSetIntMask(base, rec->savedMask);
        XanExReset8254Flag(base);
        Sub_SetTimer(rec);
      }
      break;
    default:
      break;
  }
  return TRUE;
}

}  // namespace

void XanArmBackground(XanBoardRecord* rec) { XanSync(rec, ArmBackground, rec); }

BOOLEAN InpBackHandler(XanBoardRecord* rec) {
  const uint16_t base = rec->ioBase[0];
  if (StateOf(rec).load(std::memory_order_acquire) == XAN_STATE_DATA_READY) {
    EndWithEvent(rec, XAN_STATE_DATA_READY, false);
    return TRUE;
  }
  // A tick or poll that was due when the run was stopped takes nothing up again.
  if (StateOf(rec).load(std::memory_order_acquire) == XAN_STATE_STOPPED) return TRUE;
  StateOf(rec).store(XAN_STATE_RUNNING, std::memory_order_release);
  switch (rec->backMode) {
    case 0:
    case 3:
      if (!Paced(rec)) {
        Sub_SetTimer(rec);
      } else {
        XanExReset8254Flag(base);
        XanExResetIntRegister(base, 0xFFFF);
      }
      break;
    case 1:
    case 4:
      XanExResetExtTriggerStatus(base);
      XanExResetIntRegister(base, 0xFFFF);
      break;
    default:  // 2 and 5: the trigger has come; the pacer runs from now on
      rec->backMode = static_cast<uint16_t>(rec->backMode == 2 ? 0 : 3);
      XanExCloseExtTrigger(base);
      XanExResetExtTriggerStatus(base);
      XanSetCounter(rec);
      XanExOpen8254(base);
      XanExReset8254Flag(base);
      rec->savedMask = 0xEFFF;
      XanExSetIntMask(base, rec->savedMask);
      XanExResetIntRegister(base, 0xFFFF);
      break;
  }

  const uint32_t count = std::atomic_ref<uint32_t>(rec->count).load(std::memory_order_relaxed);
  uint16_t* scan = rec->acquisitionBuffer != nullptr && count < rec->scans
                       ? rec->acquisitionBuffer + size_t{rec->inputCount} * count
                       : nullptr;
  if (!XanConvertScan(rec, scan, kConversionPolls)) {
    EndWithEvent(rec, XAN_STATE_ERROR, true);
    return TRUE;
  }
  if (scan != nullptr && rec->listCopy != nullptr) XanCopyDuplicates(rec, rec->listCopy, rec->inputCount, scan);

  XanExResetIntRegister(base, 0xFFFF);
  // Published after the scan's values, for the copies that read without a lock.
  std::atomic_ref<uint32_t>(rec->count).store(count + 1, std::memory_order_release);
  if (count + 1 >= rec->scans) {
    if (rec->backMode <= 2) {
      EndWithEvent(rec, XAN_STATE_FINISHED, true);
      return TRUE;
    }
    std::atomic_ref<uint32_t>(rec->count).store(0, std::memory_order_release);
    StateOf(rec).store(XAN_STATE_STARTED, std::memory_order_release);
  }
  if (regs::In8(base, regs::kDigital) & 0xA0) EndWithEvent(rec, XAN_STATE_DATA_READY, false);
  return TRUE;
}

// ---- status and data ---------------------------------------------------------------

namespace {

struct Copy {
  XanBoardRecord* rec;
  bool disarm;
  bool whole;  // the whole buffer, else the scans since the last report
  uint32_t count = 0;
  uint16_t state = 0;
  NTSTATUS copied = STATUS_SUCCESS;
};

NTSTATUS CopyScans(const XanBoardRecord* rec, uint32_t from, uint32_t to) {
  const size_t n = rec->inputCount;
  const uint64_t out = rec->inputDataAddress + sizeof(uint16_t) * n * from;
  return XanCopyToCaller(out, rec->acquisitionBuffer + n * from, sizeof(uint16_t) * n * (to - from));
}

NTSTATUS CopyNewScans(const XanBoardRecord* rec, bool whole, uint32_t count) {
  if (whole) return CopyScans(rec, 0, rec->scans);
  if (count >= rec->lastCount) return CopyScans(rec, rec->lastCount, count);
  // A new pass began since the last report.
  const NTSTATUS copied = CopyScans(rec, rec->lastCount < rec->scans ? rec->lastCount : rec->scans, rec->scans);
  return NT_SUCCESS(copied) ? CopyScans(rec, 0, count) : copied;
}

// Under the interrupt lock, so no copy holds half a scan and no stop frees
// the buffer under it. Only a background input with its buffer is copied;
// the count is bounded by the scans it was set up for. A run that can no
// longer reach its caller's buffer has nothing to acquire for.
BOOLEAN CopyOut(PVOID context) {
  auto* c = static_cast<Copy*>(context);
  XanBoardRecord* rec = c->rec;
  if (c->disarm) {
    rec->armed = 0;
    rec->completeByDpc = 0;
  }
  c->state = StateOf(rec).load(std::memory_order_acquire);
  c->count = std::atomic_ref<uint32_t>(rec->count).load(std::memory_order_acquire);
  if (rec->kind != kKindBackgroundInput || rec->acquisitionBuffer == nullptr) return TRUE;
  const uint32_t count = c->count < rec->scans ? c->count : rec->scans;
  c->copied = CopyNewScans(rec, c->whole, count);
  if (!NT_SUCCESS(c->copied) && (c->state == XAN_STATE_STARTED || c->state == XAN_STATE_RUNNING)) {
    EndWithEvent(rec, XAN_STATE_ERROR, true);
    c->state = XAN_STATE_ERROR;
  }
  return TRUE;
}

}  // namespace

void XanHandOverBackground(XanBoardRecord* rec) {
  Copy copy{rec, false, true};
  XanSync(rec, CopyOut, &copy);
}

void XanHandOverStopped(XanBoardRecord* rec) {
  Copy copy{rec, false, false};
  XanSync(rec, CopyOut, &copy);
  if (NT_SUCCESS(copy.copied)) rec->lastCount = copy.count;
  Swap swap{rec, nullptr, 0, nullptr};
  XanSync(rec, SwapBuffers, &swap);
  if (swap.buffer != nullptr) ExFreePool(swap.buffer);
  if (swap.list != nullptr) ExFreePool(swap.list);
}

NTSTATUS GpdIoctlGetIntSts(XanCall& call) {
  XanNotifyStatusRecord& r = call.request->notifyStatus;
  XanBoardRecord* rec = call.rec;
  Copy copy{rec, rec->kind == kKindBackgroundInput, true};
  XanSync(rec, CopyOut, &copy);
  rec->lastState = copy.state;
  // Scans that did not reach the caller are not reported as handed out.
  if (!NT_SUCCESS(copy.copied)) return copy.copied;
  rec->lastCount = copy.count;
  r.windowA = rec->windowA;
  r.messageA = rec->messageA;
  r.windowB = rec->windowB;
  r.messageB = rec->messageB;
  r.reserved = rec->reserved;
  r.state = static_cast<int16_t>(copy.state);
  return STATUS_SUCCESS;
}

NTSTATUS GpdIoctlGetBackData(XanCall& call) {
  XanBackDataRecord& r = call.request->backData;
  XanBoardRecord* rec = call.rec;
  r.result = XAN_OK;
  Copy copy{rec, false, false};
  XanSync(rec, CopyOut, &copy);
  rec->lastState = copy.state;
  if (!NT_SUCCESS(copy.copied)) return copy.copied;
  rec->lastCount = copy.count;
  r.more = copy.state == XAN_STATE_FINISHED && copy.count >= rec->scans ? 0 : 1;
  Sub_SysWait(1);
  return STATUS_SUCCESS;
}

}  // namespace morvel00
