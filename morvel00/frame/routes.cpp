// Offset -> handler.
#include "handlers.h"
#include "handlers/other.h"

namespace morvel00 {

namespace {

using U = UnknownHandle;

constexpr XanRoute kRoutes[kXanCodeCount] = {
    /* 0x00 open        */ {GpdIoctlOpen, U::kNoLookup},
    /* 0x04 single in   */ {GpdIoctlInp, U::kResult},
    /* 0x08 background  */ {GpdIoctlInpBack, U::kResult},
    /* 0x0C board mem   */ {GpdIoctlInpBdMem, U::kResult},
    /* 0x10 read buffer */ {GpdIoctlReadBuf, U::kResult},
    /* 0x14 gain        */ {GpdIoctlSetGain, U::kResult},
    /* 0x18 range list  */ {GpdIoctlRange, U::kResult},
    /* 0x1C relay       */ {nullptr, U::kResult},
    /* 0x20 single out  */ {GpdIoctlOut, U::kResult},
    /* 0x24 back out    */ {GpdIoctlOutBack, U::kResult},
    /* 0x28 DI          */ {GpdIoctlDI, U::kResult},
    /* 0x2C DO          */ {GpdIoctlDO, U::kResult},
    /* 0x30 status      */ {GpdIoctlSts, U::kResult},
    /* 0x34 stop        */ {GpdIoctlStop, U::kResult},
    /* 0x38 close       */ {GpdIoctlClose, U::kResult},
    /* 0x3C wait        */ {GpdIoctlGetMeg, U::kWait},
    /* 0x40 status      */ {GpdIoctlGetIntSts, U::kState28},
    /* 0x44 data ready  */ {GpdIoctlMemoryRequest, U::kResult},
    /* 0x48 gate open   */ {GpdIoctlOpenCntGate, U::kResult},
    /* 0x4C gate close  */ {GpdIoctlCloseCntGate, U::kResult},
    /* 0x50 cnt data    */ {GpdIoctlSetCntData, U::kResult},
    /* 0x54 get cnt     */ {GpdIoctlGetCntData, U::kResult},
    /* 0x58 cnt status  */ {GpdIoctlGetCntSts, U::kResult},
    /* 0x5C reset cnt   */ {GpdIoctlResetCntSts, U::kResult},
    /* 0x60 cnt command */ {GpdIoctlSetCntCommand, U::kResult},
    /* 0x64 cnt wait    */ {GpdIoctlGetMegCnt, U::kWait},
    /* 0x68 cnt status  */ {GpdIoctlGetIntStsCnt, U::kState20},
    /* 0x6C cnt ready   */ {GpdIoctlIsCntDataReady, U::kResult},
    /* 0x70 latch       */ {GpdIoctlLatchCntData, U::kResult},
    /* 0x74 err limit   */ {GpdIoctlChangeCntErrLimit, U::kResult},
    /* 0x78 cnt data B  */ {GpdIoctlSetCntDataB, U::kResult},
    /* 0x7C get cnt B   */ {GpdIoctlGetCntDataB, U::kResult},
    /* 0x80 back data   */ {GpdIoctlGetBackData, U::kResult},
    /* 0x84 mem wait    */ {GpdIoctlGetMegMem, U::kWait},
    /* 0x88 mem status  */ {GpdIoctlGetIntStsMem, U::kState28},
    /* 0x8C reset       */ {GpdIoctlBoardReset, U::kResult},
    /* 0x90 mem reset   */ {GpdIoctlMemoryRequest, U::kResult},
    /* 0x94 set W       */ {GpdIoctlMemoryRequest, U::kResult},
    /* 0x98 get W       */ {GpdIoctlMemoryRequest, U::kResult},
    /* 0x9C set R       */ {GpdIoctlMemoryRequest, U::kResult},
    /* 0xA0 get R       */ {GpdIoctlMemoryRequest, U::kResult},
    /* 0xA4 get T       */ {GpdIoctlMemoryRequest, U::kResult},
    /* 0xA8 AI data     */ {GpdIoctlGetAIData, U::kResult},
    /* 0xAC set range   */ {GpdIoctlSetRange, U::kResult},
    /* 0xB0 get range   */ {GpdIoctlGetRange, U::kResult},
    /* 0xB4 set AI      */ {GpdIoctlOnlyHandle, U::kResult},
    /* 0xB8 to volt     */ {GpdIoctlOnlyHandle, U::kResult},
};

}  // namespace

const XanRoute& XanRouteFor(uint32_t offset) { return kRoutes[offset / 4]; }

}  // namespace morvel00
