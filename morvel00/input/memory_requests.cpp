// The small requests around analog input: data ready (0x44), memory reset
// (0x90), the board-memory addresses (0x94 to 0xA4) and reading converted
// values straight from the data port (0xA8).
#include <atomic>

#include "handlers.h"
#include "input/common.h"
#include "operations/board_locate.h"
#include "registers/xan_registers.h"

namespace morvel00 {

namespace {

constexpr uint32_t kMaxDirectValues = 0x40000;

struct Address {
  XanBoardRecord* rec;
  uint32_t offset;
  uint32_t value = 0;
};

BOOLEAN AddressRequest(PVOID context) {
  auto* c = static_cast<Address*>(context);
  const uint16_t base = c->rec->ioBase[0];
  switch (c->offset) {
    case XAN_MEMORY_RESET:
      for (int b = 0; b < BoardCount(c->rec); ++b) XanExResetMemory(c->rec->ioBase[b]);
      break;
    case XAN_SET_WRITE_ADDRESS:
      XanExSetWriteAddress(base, c->value);
      break;
    case XAN_SET_READ_ADDRESS:
      XanExSetReadAddress(base, c->value);
      break;
    case XAN_GET_WRITE_ADDRESS:
      XanExGetWriteAddress(base, &c->value);
      break;
    case XAN_GET_READ_ADDRESS:
      XanExGetReadAddress(base, &c->value);
      break;
    case XAN_GET_TRG_WRITE_ADDRESS:
      XanExGetTrggerAddress(base, &c->value);
      break;
    default: {  // XAN_IS_DATA_READY
      uint16_t status = 0;
      XanExGetStatus(base, &status);
      c->value = (status & 0x02) ? 1 : 0;
      break;
    }
  }
  return TRUE;
}

struct Direct {
  XanBoardRecord* rec;
  uint64_t address;
  uint32_t number;
  int16_t result = XAN_OK;
  NTSTATUS copied = STATUS_SUCCESS;
};

// The saved mask goes back on every way out, 815 included.
BOOLEAN ReadDirect(PVOID context) {
  auto* c = static_cast<Direct*>(context);
  XanBoardRecord* rec = c->rec;
  const uint16_t base = rec->ioBase[0];
  XanExSetIntMask(base, rec->interrupt != nullptr ? 0xEFFF : 0xFFFF);
  XanCallerArray out(c->address);
  for (uint32_t i = 0; i < c->number; ++i) {
    uint16_t status = 0;
    XanExGetStatus(base, &status);
    if ((status & 0x02) == 0) {
      c->result = XAN_E_NO_DATA;
      break;
    }
    uint16_t value = 0;
    XanExGetAIData(base, &value);
    if (!out.put(value)) break;
  }
  c->copied = out.finish();
  XanExResetIntRegister(base, 0xFFFF);
  XanExSetIntMask(base, rec->savedMask);
  return TRUE;
}

}  // namespace

NTSTATUS GpdIoctlMemoryRequest(XanCall& call) {
  const uint32_t offset = XanCodeOffset(IoGetCurrentIrpStackLocation(call.irp)->Parameters.DeviceIoControl.IoControlCode);
  Address a{call.rec, offset};
  if (offset == XAN_SET_WRITE_ADDRESS || offset == XAN_SET_READ_ADDRESS) a.value = call.request->value.value;
  XanSync(call.rec, AddressRequest, &a);
  call.request->head.result = XAN_OK;
  switch (offset) {
    case XAN_IS_DATA_READY:
      return XanStoreToCaller(call.request->address.address, static_cast<uint16_t>(a.value));
    case XAN_GET_WRITE_ADDRESS:
    case XAN_GET_READ_ADDRESS:
    case XAN_GET_TRG_WRITE_ADDRESS:
      return XanStoreToCaller(call.request->address.address, a.value);
    default:
      return STATUS_SUCCESS;
  }
}

NTSTATUS GpdIoctlGetAIData(XanCall& call) {
  XanGetAIDataRecord& r = call.request->aiData;
  if (r.number > kMaxDirectValues) {
    r.result = XAN_E_NOT_SUPPORTED;
    return STATUS_SUCCESS;
  }
  Direct direct{call.rec, r.arrayAddress, r.number};
  XanSync(call.rec, ReadDirect, &direct);
  r.result = direct.result;
  return direct.copied;
}

}  // namespace morvel00
