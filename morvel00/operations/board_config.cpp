// The configuration byte a start-up reads of each board.
#include "board_operations.h"
#include "registers/xan_registers.h"

namespace morvel00 {

bool XanGetBoardConfig(XanBoardRecord* rec, unsigned board) {
  if (board >= kMaxBoards) return false;
  uint8_t config = 0;
  XanExGetBoardConfig(rec->ioBase[board], &config);
  return (config & 0x02) != 0;
}

}  // namespace morvel00
