// Offset -> handler. Handlers not listed here yet answer XanNotBuilt.
#include "handlers.h"

namespace morvel00 {

namespace {

using U = UnknownHandle;
constexpr XanRoute kNotBuilt{XanNotBuilt, U::kResult};

constexpr XanRoute kRoutes[kXanCodeCount] = {
    /* 0x00 open        */ {GpdIoctlOpen, U::kNoLookup},
    /* 0x04 single in   */ {GpdIoctlInp, U::kResult},
    /* 0x08 background  */ {GpdIoctlInpBack, U::kResult},
    /* 0x0C board mem   */ {GpdIoctlInpBdMem, U::kResult},
    /* 0x10 read buffer */ {GpdIoctlReadBuf, U::kResult},
    /* 0x14 gain        */ kNotBuilt,
    /* 0x18 range list  */ kNotBuilt,
    /* 0x1C relay       */ {nullptr, U::kResult},
    /* 0x20 single out  */ kNotBuilt,
    /* 0x24 back out    */ kNotBuilt,
    /* 0x28 DI          */ kNotBuilt,
    /* 0x2C DO          */ kNotBuilt,
    /* 0x30 status      */ {GpdIoctlSts, U::kResult},
    /* 0x34 stop        */ kNotBuilt,
    /* 0x38 close       */ {GpdIoctlClose, U::kResult},
    /* 0x3C wait        */ {GpdIoctlGetMeg, U::kWait},
    /* 0x40 status      */ {GpdIoctlGetIntSts, U::kState28},
    /* 0x44 data ready  */ {GpdIoctlMemoryRequest, U::kResult},
    /* 0x48 gate open   */ kNotBuilt,
    /* 0x4C gate close  */ kNotBuilt,
    /* 0x50 cnt data    */ kNotBuilt,
    /* 0x54 get cnt     */ kNotBuilt,
    /* 0x58 cnt status  */ kNotBuilt,
    /* 0x5C reset cnt   */ kNotBuilt,
    /* 0x60 cnt command */ kNotBuilt,
    /* 0x64 cnt wait    */ {GpdIoctlGetMegCnt, U::kWait},
    /* 0x68 cnt status  */ {XanNotBuilt, U::kState20},
    /* 0x6C cnt ready   */ kNotBuilt,
    /* 0x70 latch       */ kNotBuilt,
    /* 0x74 err limit   */ kNotBuilt,
    /* 0x78 cnt data B  */ kNotBuilt,
    /* 0x7C get cnt B   */ kNotBuilt,
    /* 0x80 back data   */ {GpdIoctlGetBackData, U::kResult},
    /* 0x84 mem wait    */ {GpdIoctlGetMegMem, U::kWait},
    /* 0x88 mem status  */ {GpdIoctlGetIntStsMem, U::kState28},
    /* 0x8C reset       */ kNotBuilt,
    /* 0x90 mem reset   */ {GpdIoctlMemoryRequest, U::kResult},
    /* 0x94 set W       */ {GpdIoctlMemoryRequest, U::kResult},
    /* 0x98 get W       */ {GpdIoctlMemoryRequest, U::kResult},
    /* 0x9C set R       */ {GpdIoctlMemoryRequest, U::kResult},
    /* 0xA0 get R       */ {GpdIoctlMemoryRequest, U::kResult},
    /* 0xA4 get T       */ {GpdIoctlMemoryRequest, U::kResult},
    /* 0xA8 AI data     */ {GpdIoctlGetAIData, U::kResult},
    /* 0xAC set range   */ kNotBuilt,
    /* 0xB0 get range   */ kNotBuilt,
    /* 0xB4 set AI      */ {GpdIoctlOnlyHandle, U::kResult},
    /* 0xB8 to volt     */ {GpdIoctlOnlyHandle, U::kResult},
};

}  // namespace

const XanRoute& XanRouteFor(uint32_t offset) { return kRoutes[offset / 4]; }

NTSTATUS XanNotBuilt(XanCall&) { return STATUS_NOT_IMPLEMENTED; }

}  // namespace morvel00
