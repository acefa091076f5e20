#include "sync_callbacks.h"

#include <morvel_requests.h>

#include "board_locate.h"
#include "board_operations.h"
#include "registers/xan_registers.h"

namespace morvel00 {

namespace {

XanSyncCall& Call(PVOID p) { return *static_cast<XanSyncCall*>(p); }
uint16_t Base(const XanSyncCall& c) { return c.rec->ioBase[0]; }
uint8_t U8(uint32_t v) { return static_cast<uint8_t>(v); }
uint16_t U16(uint32_t v) { return static_cast<uint16_t>(v); }

// The shapes the callbacks repeat: a routine of one u32 argument, and a Get
// routine into `out`.
template <int (*Routine)(uint16_t, uint32_t)>
BOOLEAN SetU32(PVOID p) {
  XanSyncCall& c = Call(p);
  c.result = Routine(Base(c), c.arg[0]);
  return TRUE;
}
template <typename T, int (*Routine)(uint16_t, T*)>
BOOLEAN GetInto(PVOID p) {
  XanSyncCall& c = Call(p);
  T value{};
  c.result = Routine(Base(c), &value);
  c.out = value;
  return TRUE;
}
template <int16_t (*Operation)(XanBoardRecord*)>
BOOLEAN Operate(PVOID p) {
  XanSyncCall& c = Call(p);
  c.result = Operation(c.rec);
  return TRUE;
}

}  // namespace

BOOLEAN SyncXanExSetAIFunction(PVOID p) {
  XanSyncCall& c = Call(p);
  c.result = XanExSetAIFunction(Base(c), U16(c.arg[0]));
  return TRUE;
}
BOOLEAN SyncXanExSetAIChannel(PVOID p) {
  XanSyncCall& c = Call(p);
  c.result = XanExSetAIChannel(Base(c), static_cast<const uint16_t*>(c.data), U8(c.arg[0]));
  return TRUE;
}
BOOLEAN SyncXanExSetTrgLevelStart(PVOID p) {
  XanSyncCall& c = Call(p);
  c.result = XanExSetTrgLevelStart(Base(c), U8(c.arg[0]), U8(c.arg[1]), U16(c.arg[2]), U16(c.arg[3]));
  return TRUE;
}
BOOLEAN SyncXanExSetTrgLevelStop(PVOID p) {
  XanSyncCall& c = Call(p);
  c.result = XanExSetTrgLevelStop(Base(c), U8(c.arg[0]), U8(c.arg[1]), U16(c.arg[2]), U16(c.arg[3]));
  return TRUE;
}
BOOLEAN SyncXanExSetSamplingNum(PVOID p) { return SetU32<XanExSetSamplingNum>(p); }
BOOLEAN SyncXanExSetDelayNum(PVOID p) { return SetU32<XanExSetDelayNum>(p); }
BOOLEAN SyncXanExSetTrgDlyNum(PVOID p) { return SetU32<XanExSetTrgDlyNum>(p); }
BOOLEAN SyncXanExSetStartTrgRptNum(PVOID p) { return SetU32<XanExSetStartTrgRptNum>(p); }
BOOLEAN SyncXanExSetWriteAddress(PVOID p) { return SetU32<XanExSetWriteAddress>(p); }
BOOLEAN SyncXanExGetWriteAddress(PVOID p) { return GetInto<uint32_t, XanExGetWriteAddress>(p); }
BOOLEAN SyncXanExSetReadAddress(PVOID p) { return SetU32<XanExSetReadAddress>(p); }
BOOLEAN SyncXanExGetReadAddress(PVOID p) { return GetInto<uint32_t, XanExGetReadAddress>(p); }
BOOLEAN SyncXanExGetTrggerAddress(PVOID p) { return GetInto<uint32_t, XanExGetTrggerAddress>(p); }
BOOLEAN SyncXanExSetIntLevelPC(PVOID p) {
  XanSyncCall& c = Call(p);
  c.result = c.arg[0] > 0xFF ? 0 : XanExSetIntLevelPC(Base(c), U8(c.arg[0]));
  return TRUE;
}
BOOLEAN SyncXanExSetIntLevel98(PVOID p) {
  XanSyncCall& c = Call(p);
  c.result = c.arg[0] > 0xFF ? 0 : XanExSetIntLevel98(Base(c), U8(c.arg[0]));
  return TRUE;
}
BOOLEAN SyncXanExSetIntMask(PVOID p) {
  XanSyncCall& c = Call(p);
  c.result = XanExSetIntMask(Base(c), U16(c.arg[0]));
  return TRUE;
}
BOOLEAN SyncXanExGetIntMask(PVOID p) { return GetInto<uint16_t, XanExGetIntMask>(p); }
BOOLEAN SyncXanExResetIntRegister(PVOID p) {
  XanSyncCall& c = Call(p);
  c.result = XanExResetIntRegister(Base(c), U16(c.arg[0]));
  return TRUE;
}
BOOLEAN SyncXanExSet8254DataW(PVOID p) {
  XanSyncCall& c = Call(p);
  c.result = XanExSet8254DataW(Base(c), U8(c.arg[0]), c.arg[1]);
  return TRUE;
}
BOOLEAN SyncXanExGet8254DataW(PVOID p) {
  XanSyncCall& c = Call(p);
  uint32_t value = 0;
  c.result = c.arg[0] > 2 ? 0 : XanExGet8254DataW(Base(c), U8(c.arg[0]), &value);
  c.out = value;
  return TRUE;
}

BOOLEAN SyncXanBoardCheck(PVOID p) { return Operate<XanBoardCheck>(p); }
BOOLEAN SyncXanGetSts(PVOID p) { return Operate<XanGetSts>(p); }
BOOLEAN SyncXanSetGain(PVOID p) { return Operate<XanSetGain>(p); }
BOOLEAN SyncXanStop(PVOID p) {
  XanSyncCall& c = Call(p);
  c.result = XanStop(c.rec) ? 1 : 0;
  return TRUE;
}
BOOLEAN SyncXanSetADMode(PVOID p) {
  XanSyncCall& c = Call(p);
  c.result = XanSetADMode(c.rec, static_cast<const uint16_t*>(c.data), static_cast<int>(c.arg[0]));
  return TRUE;
}
BOOLEAN SyncXanSetCounter(PVOID p) {
  XanSyncCall& c = Call(p);
  c.out = XanSetCounter(c.rec);
  c.result = static_cast<int32_t>(c.out);
  return TRUE;
}
BOOLEAN SyncXanSetRange(PVOID p) {
  XanSyncCall& c = Call(p);
  c.result = XanSetRange(c.rec, static_cast<const XanSetRangeRecord*>(c.data));
  return TRUE;
}
BOOLEAN SyncXanDigitalOut(PVOID p) {
  XanSyncCall& c = Call(p);
  if (c.arg[0] >= static_cast<uint32_t>(BoardCount(c.rec))) {
    c.result = 0;
    return TRUE;
  }
  c.result = XanDigitalOut(c.rec->ioBase[c.arg[0]], U16(c.arg[1]), U8(c.arg[2]));
  return TRUE;
}

}  // namespace morvel00
