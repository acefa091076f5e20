// The handlers of output, digital I/O, gain and ranges, board reset, stop
// and the 8254 counter family (routed in routes.cpp).
#pragma once
#include "handlers.h"

namespace morvel00 {

NTSTATUS GpdIoctlStop(XanCall& call);        // 0x34
NTSTATUS GpdIoctlBoardReset(XanCall& call);  // 0x8C

NTSTATUS GpdIoctlOut(XanCall& call);      // 0x20
NTSTATUS GpdIoctlOutBack(XanCall& call);  // 0x24
NTSTATUS GpdIoctlDI(XanCall& call);       // 0x28
NTSTATUS GpdIoctlDO(XanCall& call);       // 0x2C

NTSTATUS GpdIoctlSetGain(XanCall& call);   // 0x14
NTSTATUS GpdIoctlRange(XanCall& call);     // 0x18
NTSTATUS GpdIoctlSetRange(XanCall& call);  // 0xAC
NTSTATUS GpdIoctlGetRange(XanCall& call);  // 0xB0

NTSTATUS GpdIoctlOpenCntGate(XanCall& call);        // 0x48
NTSTATUS GpdIoctlCloseCntGate(XanCall& call);       // 0x4C
NTSTATUS GpdIoctlSetCntData(XanCall& call);         // 0x50
NTSTATUS GpdIoctlGetCntData(XanCall& call);         // 0x54
NTSTATUS GpdIoctlGetCntSts(XanCall& call);          // 0x58
NTSTATUS GpdIoctlResetCntSts(XanCall& call);        // 0x5C
NTSTATUS GpdIoctlSetCntCommand(XanCall& call);      // 0x60
NTSTATUS GpdIoctlGetIntStsCnt(XanCall& call);       // 0x68
NTSTATUS GpdIoctlIsCntDataReady(XanCall& call);     // 0x6C
NTSTATUS GpdIoctlLatchCntData(XanCall& call);       // 0x70
NTSTATUS GpdIoctlChangeCntErrLimit(XanCall& call);  // 0x74
NTSTATUS GpdIoctlSetCntDataB(XanCall& call);        // 0x78
NTSTATUS GpdIoctlGetCntDataB(XanCall& call);        // 0x7C

}  // namespace morvel00
