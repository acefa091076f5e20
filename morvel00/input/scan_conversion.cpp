#include "input/scan_conversion.h"

#include "operations/board_locate.h"
#include "registers/xan_registers.h"

namespace morvel00 {

namespace {

bool ConversionEnds(uint16_t base, unsigned polls) {
  for (unsigned poll = 0; poll < polls; ++poll) {
    uint16_t status = 0;
    XanExGetStatus(base, &status);
    if ((status & 0x01) == 0) return true;
  }
  return false;
}

}  // namespace

bool XanConvertScan(XanBoardRecord* rec, uint16_t* values, unsigned polls) {
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
    if (!ConversionEnds(base, polls)) return false;
    for (uint16_t ch = 0; ch < kListPositions; ++ch) {
      const uint16_t p = rec->listPosition[b][ch];
      if (p == 0) continue;
      uint16_t v = 0;
      XanExGetAIData(base, &v);
      if (values != nullptr) values[p - 1] = v;
    }
  }
  return true;
}

}  // namespace morvel00
