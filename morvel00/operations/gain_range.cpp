// Gain and range codes: command 1 with {channel, code} per channel.
#include "board_locate.h"
#include "board_operations.h"
#include "registers/port_access.h"
#include "registers/xan_registers.h"

namespace morvel00 {

namespace {

void WriteCode(uint16_t base, uint16_t channel, uint16_t code) {
  regs::Put(base, regs::kGain, (channel & 0xFFu) | (code & 0xFFu) << 8);
}

bool TakesGain(uint16_t boardType) { return boardType == 0 || boardType == 50 || boardType == 54; }

}  // namespace

int16_t XanSetGain(XanBoardRecord* rec) {
  const int boards = BoardCount(rec);
  for (int b = 0; b < boards; ++b) {
    if (!TakesGain(rec->boardType[b])) return XAN_E_NO_GAIN;
  }
  if (rec->gainCode > 3) return XAN_E_GAIN_CODE;
  if (rec->gainMode != 0) {
    for (int b = 0; b < boards; ++b) {
      for (uint16_t i = 0; i < rec->inputChannels[b]; ++i) WriteCode(rec->ioBase[b], i, rec->gainCode);
    }
    return XAN_OK;
  }
  const BoardChannel at = LocateInput(rec, rec->gainChannel);
  if (at.board < 0) return XAN_OK;  // the request check keeps such channels out
  rec->gainChannel = at.local;
  WriteCode(rec->ioBase[at.board], at.local, rec->gainCode);
  return XAN_OK;
}

int16_t XanSetRange(XanBoardRecord* rec, const XanSetRangeRecord* request) {
  const uint16_t base = rec->ioBase[0];
  const uint16_t code = request->rangeCode;
  if (request->direction != 0) {
    if (code == 0 || code == 1) return XanStartDA(base, 0, 2048);
    if (code == 4) return XanStartDA(base, 0, 0);
    return XAN_E_SET_RANGE_CODE;
  }
  if (rec->boardType[0] == 54 && code == 10) return XAN_OK;
  if (code > 7) return XAN_E_SET_RANGE_CODE;
  const uint16_t hardware = code % 4;
  if (request->scope != 0) {
    WriteCode(base, request->channel, hardware);
  } else {
    for (uint16_t i = 0; i < rec->inputChannels[0]; ++i) WriteCode(base, i, hardware);
  }
  return XAN_OK;
}

int16_t XanRange(XanBoardRecord*) { return XAN_OK; }
int16_t XanGetRange(XanBoardRecord*, const XanGetRangeRecord*) { return XAN_OK; }

}  // namespace morvel00
