// Single input (0x04): one value of every listed channel, converted now.
#include "handlers.h"
#include "input/common.h"
#include "input/scan_conversion.h"
#include "operations/board_locate.h"
#include "operations/board_operations.h"
#include "registers/xan_registers.h"

namespace morvel00 {

namespace {

constexpr unsigned kConversionPolls = 36864;
constexpr int kMaxListed = kMaxBoards * kListPositions;

struct Single {
  XanBoardRecord* rec;
  const uint16_t* list;
  int count;
  uint16_t* values;  // by list position
  int16_t result = XAN_OK;
};

BOOLEAN Convert(PVOID context) {
  auto* c = static_cast<Single*>(context);
  XanBoardRecord* rec = c->rec;
  c->result = XanSetADMode(rec, c->list, c->count);
  if (c->result != XAN_OK) return TRUE;
  if (!XanConvertScan(rec, c->values, kConversionPolls)) c->result = XAN_E_CONVERSION;
  return TRUE;
}

}  // namespace

NTSTATUS GpdIoctlInp(XanCall& call) {
  XanSingleIoRecord& r = call.request->singleIo;
  XanBoardRecord* rec = call.rec;
  r.result = XAN_OK;
  if (XanBusy(rec)) {
    r.result = XAN_E_BUSY;
    return STATUS_SUCCESS;
  }
  if (r.count < 1 || r.count > rec->inputTotal || r.count > kMaxListed) {
    r.result = XAN_E_CHANNEL_COUNT;
    return STATUS_SUCCESS;
  }
  uint16_t list[kMaxListed];
  uint16_t values[kMaxListed] = {};
  if (const NTSTATUS copied = XanCopyCallerList(r.channelListAddress, r.count, list); !NT_SUCCESS(copied)) {
    return copied;
  }
  // A background or board-memory set-up keeps its channels and its buffer:
  // its later status and data requests copy by them.
  if (rec->kind != kKindBackgroundInput && rec->kind != kKindBoardMemory) {
    rec->inputChannelListAddress = r.channelListAddress;
    rec->inputDataAddress = r.valuesAddress;
    rec->inputCount = static_cast<uint16_t>(r.count);
  }
  Single single{rec, list, r.count, values};
  XanSync(rec, Convert, &single);
  r.result = single.result;
  if (r.result != XAN_OK) return STATUS_SUCCESS;
  // The caller's array gets nothing unless every value was converted.
  XanCopyDuplicates(rec, list, r.count, values);
  return XanCopyToCaller(r.valuesAddress, values, sizeof(uint16_t) * r.count);
}

}  // namespace morvel00
