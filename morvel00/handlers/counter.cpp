// The board's 8254 on the group's first board: its gate with the
// counter-event path, the counts, the flag and the raw byte access.
//
// The counter status (0x68) counts an overflow only for flag bit 1 (the
// board's "another terminal count while the flag was set"); a flag of 1
// alone answers 0, as no overflow happened.
#include "handlers/support.h"
#include "handlers/other.h"
#include "operations/sync_callbacks.h"
#include "registers/xan_registers.h"

namespace morvel00 {

namespace {

constexpr uint16_t kNoCounterType = 54;
constexpr uint16_t kCounterMask = 0xEFFF;  // only the counter's factor through
constexpr uint16_t kAllMasked = 0xFFFF;
constexpr uint8_t kLatchAll = 0xDE;
constexpr uint8_t kNullCount = 0x40;
constexpr uint8_t kOverflowFlag = 0x02;
constexpr uint8_t kLineNine = 9;
constexpr uint8_t kControlWord[3] = {0x34, 0x74, 0xB4};

uint16_t Base(const XanBoardRecord* rec) { return rec->ioBase[0]; }

// 825 for the board type without a counter, else 771 while a background
// input runs (when `busy` applies), else 822 for a counter above 2.
int16_t Check(const XanBoardRecord* rec, bool busy, int counter = 0) {
  if (rec->boardType[0] == kNoCounterType) return XAN_E_NO_COUNTER;
  if (busy && XanState(rec) == XAN_STATE_RUNNING) return XAN_E_BUSY;
  if (counter > 2) return XAN_E_COUNTER;
  return XAN_OK;
}

bool PacesBackground(const XanBoardRecord* rec) {
  return rec->kind == kKindBackgroundInput || rec->kind == kKindBackgroundOutput;
}

void CloseGate(XanBoardRecord* rec) {
  XanLocked(rec, [rec] { XanExClose8254(Base(rec)); });
}

}  // namespace

NTSTATUS GpdIoctlOpenCntGate(XanCall& call) {
  XanCntGateRecord& r = call.request->cntGate;
  XanBoardRecord* rec = call.rec;
  r.result = Check(rec, false);
  if (r.result == XAN_OK && rec->gateOpen != 0) r.result = XAN_E_GATE_OPEN;
  if (r.result == XAN_OK && XanState(rec) == XAN_STATE_RUNNING) r.result = XAN_E_BUSY;
  if (r.result == XAN_OK && !XanMessageValid(r.message)) r.result = XAN_E_MESSAGE;
  // Only an open that passed every check marks the gate open; a refused
  // one must not make the next attempt answer 824.
  if (r.result != XAN_OK) return STATUS_SUCCESS;
  rec->gateOpen = 1;
  rec->counterOverflows = 0;
  rec->gateWindow = r.window;
  rec->gateMessage = r.message;
  rec->gateClosed = 0;
  rec->counterInterrupts = 0;
  rec->completeByDpc = 0;
  const bool notify = r.message != 0;
  XanLocked(rec, [rec, notify] {
    const uint16_t base = Base(rec);
    XanExReset8254Flag(base);
    if (notify) {
      if (rec->interruptLine <= 0xFF) {
        const auto line = static_cast<uint8_t>(rec->interruptLine);
        if (rec->machineType == 0) {
          XanExSetIntLevelPC(base, line);
        } else {
          XanExSetIntLevel98(base, line);
        }
      }
      XanExSetIntLevelPC(base, kLineNine);
      XanExResetIntRegister(base, 0xFFFF);
      rec->savedMask = kCounterMask;
    }
    XanExOpen8254(base);
  });
  return STATUS_SUCCESS;
}

NTSTATUS GpdIoctlCloseCntGate(XanCall& call) {
  XanBoardRecord* rec = call.rec;
  call.request->head.result = Check(rec, false);
  if (call.request->head.result != XAN_OK) return STATUS_SUCCESS;
  XanLocked(rec, [rec] {
    XanExClose8254(Base(rec));
    XanExSetIntMask(Base(rec), kAllMasked);
  });
  rec->gateClosed = 1;
  Sub_SetEventCnt(rec);
  rec->gateOpen = 0;
  rec->counterOverflows = 0;
  return STATUS_SUCCESS;
}

NTSTATUS GpdIoctlSetCntData(XanCall& call) {
  XanValueRecord& r = call.request->value;
  XanBoardRecord* rec = call.rec;
  r.result = Check(rec, true, r.counter);
  if (r.result == XAN_OK && (r.value < 2 || r.value > 65535)) r.result = XAN_E_COUNT;
  // A refused count must not reach the 8254: a count of 0 or 1 is illegal
  // in its rate mode, and a running pacer must keep its counts.
  if (r.result != XAN_OK) return STATUS_SUCCESS;
  uint32_t counts[3] = {rec->counterValue[0], rec->counterValue[1], rec->counterValue[2]};
  counts[r.counter] = r.value;
  for (uint8_t c = 0; c < 3; ++c) {
    XanLocked(rec, [rec, c, &counts] {
      XanExSet8254(Base(rec), kControlWord[c]);
      XanExSet8254DataW(Base(rec), c, counts[c]);
    });
  }
  rec->counterValue[r.counter] = r.value;
  return STATUS_SUCCESS;
}

NTSTATUS GpdIoctlGetCntData(XanCall& call) {
  XanAddressRecord& r = call.request->address;
  XanBoardRecord* rec = call.rec;
  r.result = Check(rec, true, r.counter);
  if (r.result != XAN_OK) return STATUS_SUCCESS;
  XanSyncCall get{rec, {r.counter}};
  XanSync(rec, SyncXanExGet8254DataW, &get);
  return XanStoreToCaller(r.address, static_cast<uint32_t>(get.out & 0xFFFF));
}

NTSTATUS GpdIoctlGetCntSts(XanCall& call) {
  XanAddressRecord& r = call.request->address;
  XanBoardRecord* rec = call.rec;
  r.result = Check(rec, false);
  if (r.result != XAN_OK) return STATUS_SUCCESS;
  uint8_t flag = 0;
  XanExGet8254Flag(Base(rec), &flag);
  return XanStoreToCaller(r.address, flag);
}

NTSTATUS GpdIoctlResetCntSts(XanCall& call) {
  XanBoardRecord* rec = call.rec;
  call.request->head.result = Check(rec, false);
  if (call.request->head.result == XAN_OK) XanLocked(rec, [rec] { XanExReset8254Flag(Base(rec)); });
  return STATUS_SUCCESS;
}

NTSTATUS GpdIoctlSetCntCommand(XanCall& call) {
  XanSmallRecord& r = call.request->small;
  XanBoardRecord* rec = call.rec;
  r.result = Check(rec, true);
  const auto control = static_cast<uint8_t>(r.value);
  if (r.result == XAN_OK) XanLocked(rec, [rec, control] { XanExSet8254(Base(rec), control); });
  return STATUS_SUCCESS;
}

NTSTATUS GpdIoctlGetIntStsCnt(XanCall& call) {
  XanCntNotifyRecord& r = call.request->cntNotify;
  XanBoardRecord* rec = call.rec;
  // The notification thread asks for a closed gate's status when it gets
  // to it, which can be after a background acquisition has opened the 8254
  // for its pacer: the gate, the factors and the flag are then the pacer's,
  // and the close request has already shut the counter's gate.
  if (rec->gateClosed != 0 && PacesBackground(rec)) {
    r.state = 1;
    rec->counterInterrupts = 0;
    return STATUS_SUCCESS;
  }
  uint8_t flag = 0;
  XanLocked(rec, [rec, &flag] {
    XanExResetIntRegister(Base(rec), 0xFFFF);
    XanExGet8254Flag(Base(rec), &flag);
  });
  if (rec->gateClosed != 0) {
    r.state = 1;
    CloseGate(rec);
  } else if (flag & kOverflowFlag) {
    ++rec->counterOverflows;
    if (rec->counterOverflows <= rec->counterErrorLimit) {
      r.state = 2;
      XanLocked(rec, [rec] { XanExReset8254Flag(Base(rec)); });
    } else {
      r.state = 1;
      CloseGate(rec);
      rec->gateOpen = 0;
    }
  } else {
    rec->counterOverflows = 0;
    r.state = 0;
    XanLocked(rec, [rec] { XanExReset8254Flag(Base(rec)); });
  }
  rec->counterInterrupts = 0;
  return STATUS_SUCCESS;
}

NTSTATUS GpdIoctlIsCntDataReady(XanCall& call) {
  XanAddressRecord& r = call.request->address;
  XanBoardRecord* rec = call.rec;
  r.result = Check(rec, true);
  if (r.result != XAN_OK) return STATUS_SUCCESS;
  uint16_t status = 0;
  XanLocked(rec, [rec, &status] {
    XanExSet8254ReadBack(Base(rec), 0, 0, 2);
    XanExGet8254DataB(Base(rec), 2, &status);
    // The read-back latched the count too; left unread it would be what
    // the next count read of counter 2 returns.
    uint16_t stale = 0;
    XanExGet8254DataB(Base(rec), 2, &stale);
    XanExGet8254DataB(Base(rec), 2, &stale);
  });
  return XanStoreToCaller(r.address, static_cast<uint8_t>((status & kNullCount) == 0 ? 1 : 0));
}

NTSTATUS GpdIoctlLatchCntData(XanCall& call) {
  XanBoardRecord* rec = call.rec;
  call.request->head.result = Check(rec, true);
  if (call.request->head.result == XAN_OK) XanLocked(rec, [rec] { XanExSet8254(Base(rec), kLatchAll); });
  return STATUS_SUCCESS;
}

NTSTATUS GpdIoctlChangeCntErrLimit(XanCall& call) {
  XanSmallRecord& r = call.request->small;
  r.result = Check(call.rec, true);
  if (r.result == XAN_OK) call.rec->counterErrorLimit = r.value;
  return STATUS_SUCCESS;
}

NTSTATUS GpdIoctlSetCntDataB(XanCall& call) {
  XanSetCntDataBRecord& r = call.request->cntDataB;
  XanBoardRecord* rec = call.rec;
  r.result = Check(rec, true, r.counter);
  if (r.result == XAN_OK && r.value > 0xFF) r.result = XAN_E_COUNT;
  if (r.result != XAN_OK) return STATUS_SUCCESS;
  const uint8_t counter = r.counter;
  const uint16_t byte = r.value;
  XanLocked(rec, [rec, counter, byte] { XanExSet8254DataB(Base(rec), counter, byte); });
  return STATUS_SUCCESS;
}

NTSTATUS GpdIoctlGetCntDataB(XanCall& call) {
  XanAddressRecord& r = call.request->address;
  XanBoardRecord* rec = call.rec;
  r.result = Check(rec, true, r.counter);
  if (r.result != XAN_OK) return STATUS_SUCCESS;
  uint16_t byte = 0;
  const uint8_t counter = r.counter;
  XanLocked(rec, [rec, counter, &byte] { XanExGet8254DataB(Base(rec), counter, &byte); });
  return XanStoreToCaller(r.address, static_cast<uint16_t>(byte & 0xFF));
}

}  // namespace morvel00
