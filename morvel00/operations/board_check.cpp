// The board test of an open.
#include "board_locate.h"
#include "board_operations.h"
#include "registers/xan_registers.h"

namespace morvel00 {

int16_t XanBoardCheck(XanBoardRecord* rec) {
  // A port no board answers reads all ones; a present board never shows
  // every status bit set after an initialise.
  constexpr uint16_t kNoBoard = 0xFF;
  const uint16_t first = rec->ioBase[0];
  for (int b = 0; b < BoardCount(rec); ++b) {
    XanExResetIntRegister(first, 0xFFFF);
    XanExInitialize(rec->ioBase[b]);
    uint16_t status = 0;
    XanExGetStatus(rec->ioBase[b], &status);
    XanExResetIntRegister(first, 0xFFFF);
    if (status == kNoBoard) return XAN_E_BOARD;
  }
  return XAN_OK;
}

}  // namespace morvel00
