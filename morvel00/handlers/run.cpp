// Stop and board reset: the handlers that end whatever runs.
#include "frame/ports.h"
#include "handlers/support.h"
#include "handlers/other.h"
#include "operations/board_locate.h"
#include "operations/board_operations.h"

namespace morvel00 {

namespace {

// The state changes with the board under the interrupt lock, so that no
// step after the stop finds the run going. The stop is reported: a status
// request of a background input answers it from now on.
BOOLEAN StopBoard(PVOID context) {
  auto* rec = static_cast<XanBoardRecord*>(context);
  XanStop(rec);
  XanSetState(rec, XAN_STATE_STOPPED);
  rec->lastState = XAN_STATE_STOPPED;
  return TRUE;
}

}  // namespace

NTSTATUS GpdIoctlStop(XanCall& call) {
  XanStopRecord& r = call.request->stop;
  XanBoardRecord* rec = call.rec;
  const uint16_t state = XanState(rec);
  const bool running = XanBusy(rec) || (state == XAN_STATE_MEMORY_16 && rec->memoryRing != 0);
  if (!running) {
    r.result = XAN_E_NOT_RUNNING;
    return STATUS_SUCCESS;
  }
  XanSync(rec, StopBoard, rec);
  Sub_CancelTimer(rec);
  if (rec->kind == kKindBackgroundInput) XanHandOverStopped(rec);
  Sub_SetEvent(rec);
  r.result = XAN_OK;
  r.state = XAN_STATE_STOPPED;
  r.windowA = rec->windowA;
  r.messageA = rec->messageA;
  r.windowB = rec->windowB;
  r.messageB = rec->messageB;
  r.reserved = rec->reserved;
  r.triggerSource = rec->triggerSource;
  return STATUS_SUCCESS;
}

NTSTATUS GpdIoctlBoardReset(XanCall& call) {
  XanBoardRecord* rec = call.rec;
  XanLocked(rec, [rec] {
    for (int b = 0; b < BoardCount(rec); ++b) ports::Command(rec->ioBase[b], ports::kCmdInitialise);
  });
  call.request->head.result = XAN_OK;
  return STATUS_SUCCESS;
}

}  // namespace morvel00
