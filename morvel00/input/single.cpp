// Single input (0x04): one value of every listed channel, converted now.
#include "handlers.h"
#include "input/common.h"
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

bool ConversionEnds(uint16_t base) {
  for (unsigned poll = 0; poll < kConversionPolls; ++poll) {
    uint16_t status = 0;
    XanExGetStatus(base, &status);
    if ((status & 0x01) == 0) return true;
  }
  return false;
}

BOOLEAN Convert(PVOID context) {
  auto* c = static_cast<Single*>(context);
  XanBoardRecord* rec = c->rec;
  c->result = XanSetADMode(rec, c->list, c->count);
  if (c->result != XAN_OK) return TRUE;
  for (int b = 0; b < BoardCount(rec); ++b) {
    const uint16_t n = rec->scanChannels[b];
    if (n == 0) continue;
    const uint16_t base = rec->ioBase[b];
    if (n == 1) {
      uint16_t ch = 0;
      while (rec->listPosition[b][ch] == 0) ++ch;
      XanExStartAISingle(base, static_cast<uint8_t>(ch));
    } else {
      XanExStartAIMulti(base, static_cast<uint8_t>(n));
    }
    if (!ConversionEnds(base)) {
      c->result = XAN_E_CONVERSION;
      return TRUE;
    }
    for (uint16_t ch = 0; ch < kListPositions; ++ch) {
      if (const uint16_t p = rec->listPosition[b][ch]; p != 0) XanExGetAIData(base, &c->values[p - 1]);
    }
  }
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
  XanCopyCallerList(r.channelListAddress, r.count, list);
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
  std::memcpy(reinterpret_cast<void*>(static_cast<uintptr_t>(r.valuesAddress)), values, sizeof(uint16_t) * r.count);
  return STATUS_SUCCESS;
}

}  // namespace morvel00
