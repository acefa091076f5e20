// The software-timed scan that single and background input run on.
#include <morvel_requests.h>

#include "board_locate.h"
#include "board_operations.h"
#include "registers/xan_registers.h"

namespace morvel00 {

namespace {

uint32_t ScanClockNs(uint16_t boardType) {
  if (boardType == 54) return 20000;
  if (boardType == 203) return 2000;
  return boardType % 2 == 0 ? 10000 : 1000;
}

void SetLevelCode(const XanBoardRecord* rec) {
  if (rec->interruptLine > 0xFF) return;  // no line: no level code exists
  const auto line = static_cast<uint8_t>(rec->interruptLine);
  if (rec->machineType != 0) {
    XanExSetIntLevel98(rec->ioBase[0], line);
  } else {
    XanExSetIntLevelPC(rec->ioBase[0], line);
  }
}

void ProgramScan(const XanBoardRecord* rec, int b) {
  const uint16_t base = rec->ioBase[b];
  const uint16_t n = rec->scanChannels[b];
  const uint32_t scanNs = ScanClockNs(rec->boardType[b]);
  XanExSetAIFunction(base, n == 1 ? 0x1000 : 0x1080);
  XanExSetScanClock(base, scanNs);
  XanExSetSamplingClock(base, n * (scanNs / 1000));
  XanExSetStartTrgRptNum(base, 0);
  XanExSetSamplingNum(base, 1);
  XanExSetDelayNum(base, 0);
  uint16_t physical[kListPositions];
  uint8_t listed = 0;
  for (uint16_t ch = 0; ch < kListPositions && listed < n; ++ch) {
    if (rec->listPosition[b][ch] != 0) physical[listed++] = ch;
  }
  XanExSetAIChannel(base, physical, listed);
}

}  // namespace

int16_t XanCheckChannelList(const XanBoardRecord* rec, const uint16_t* channels, int count) {
  if (count < 1 || count > rec->inputTotal) return XAN_E_CHANNEL_COUNT;
  for (int i = 0; i < count; ++i) {
    if (channels[i] >= rec->inputTotal || LocateInput(rec, channels[i]).board < 0) return XAN_E_CHANNEL;
  }
  return XAN_OK;
}

int16_t XanSetADMode(XanBoardRecord* rec, const uint16_t* channels, int count) {
  if (const int16_t check = XanCheckChannelList(rec, channels, count); check != XAN_OK) return check;
  const int boards = BoardCount(rec);
  for (int b = 0; b < boards; ++b) {
    XanExResetMemory(rec->ioBase[b]);
    XanExSetDelayNum(rec->ioBase[b], 0);
    XanExSetStartTrgRptNum(rec->ioBase[b], 0);
  }
  for (int b = 0; b < boards; ++b) {
    rec->scanChannels[b] = 0;
    for (uint16_t& position : rec->listPosition[b]) position = 0;
  }
  for (int i = 0; i < count; ++i) {
    const BoardChannel at = LocateInput(rec, channels[i]);
    if (at.board < 0 || at.local >= kListPositions) continue;
    uint16_t& position = rec->listPosition[at.board][at.local];
    if (position != 0) continue;  // a repeat: scanned once, copied to its other positions
    position = static_cast<uint16_t>(i + 1);
    ++rec->scanChannels[at.board];
  }
  for (int b = 0; b < boards; ++b) {
    if (rec->scanChannels[b] != 0) ProgramScan(rec, b);
  }
  XanExSetIntMask(rec->ioBase[0], 0xCFFF);
  if (rec->timeBase != 0 || rec->backMode == 1) SetLevelCode(rec);
  return XAN_OK;
}

void XanCopyDuplicates(const XanBoardRecord* rec, const uint16_t* channels, int count, uint16_t* values) {
  int scanned = 0;
  for (int b = 0; b < BoardCount(rec); ++b) scanned += rec->scanChannels[b];
  if (scanned >= count) return;
  for (int i = 1; i < count; ++i) {
    for (int j = 0; j < i; ++j) {
      if (channels[j] == channels[i]) {
        values[i] = values[j];
        break;
      }
    }
  }
}

}  // namespace morvel00
