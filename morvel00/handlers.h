// The request handlers and the table that routes each offset to one.
#pragma once
#include <morvel_requests.h>

#include "board_record.h"

namespace morvel00 {

// One request as a handler sees it. `rec` is the caller's record, found by
// the handle value and held (its handlerMutex) for the call; only the open
// handler is called without one.
struct XanCall {
  XanDeviceExtension* ext;
  XanBoardRecord* rec;
  XanRequest* request;  // the system buffer, at least the record's size
  PIRP irp;
  PFILE_OBJECT file;
};

// Returns the IRP's status. A wait handler that pends the IRP (XanPendWait)
// returns STATUS_PENDING; the dispatch then answers success and leaves it.
using XanHandler = NTSTATUS (*)(XanCall& call);

// What the frame answers itself when no record owns the handle value.
enum class UnknownHandle : uint8_t {
  kResult,      // 1280 at +4
  kState28,     // state 255 at +28 (0x40, 0x88)
  kState20,     // state 255 at +20 (0x68)
  kWait,        // 1280 at +4, completed at once
  kNoLookup,    // the handler takes the handle value itself (open)
};

struct XanRoute {
  XanHandler handler;  // nullptr: success with 0 bytes, record unchanged
  UnknownHandle unknown;
};

// By offset / 4 (kXanCodeCount rows).
const XanRoute& XanRouteFor(uint32_t offset);

// The frame's handlers.
NTSTATUS GpdIoctlOpen(XanCall& call);
NTSTATUS GpdIoctlClose(XanCall& call);
NTSTATUS GpdIoctlSts(XanCall& call);
NTSTATUS GpdIoctlGetMeg(XanCall& call);     // 0x3C
NTSTATUS GpdIoctlGetMegCnt(XanCall& call);  // 0x64
NTSTATUS GpdIoctlGetMegMem(XanCall& call);  // 0x84
NTSTATUS GpdIoctlOnlyHandle(XanCall& call);  // 0xB4, 0xB8

// Analog input.
NTSTATUS GpdIoctlInp(XanCall& call);           // 0x04
NTSTATUS GpdIoctlInpBack(XanCall& call);       // 0x08
NTSTATUS GpdIoctlGetIntSts(XanCall& call);     // 0x40
NTSTATUS GpdIoctlGetBackData(XanCall& call);   // 0x80
// 0x44 data ready, 0x90 memory reset, 0x94 to 0xA4 the memory addresses.
NTSTATUS GpdIoctlMemoryRequest(XanCall& call);
NTSTATUS GpdIoctlGetAIData(XanCall& call);     // 0xA8
NTSTATUS GpdIoctlInpBdMem(XanCall& call);      // 0x0C
NTSTATUS GpdIoctlReadBuf(XanCall& call);       // 0x10
NTSTATUS GpdIoctlGetIntStsMem(XanCall& call);  // 0x88

// What close does; also the cleanup of the owner's file object.
void XanCloseRecord(XanBoardRecord* rec);
// What the stop does for a background input: the scans not yet handed out
// go to the caller, the last copy into the caller's buffer; the driver's
// buffer goes with it, so that no status or data request after the stop
// writes there.
void XanHandOverStopped(XanBoardRecord* rec);

}  // namespace morvel00
