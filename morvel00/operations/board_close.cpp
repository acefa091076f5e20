// The board side of a close.
#include "board_locate.h"
#include "board_operations.h"
#include "registers/xan_registers.h"

namespace morvel00 {

void XanClose(XanBoardRecord* rec, const XanClose36*) {
  for (int b = 0; b < BoardCount(rec); ++b) XanExInitialize(rec->ioBase[b]);
  Sub_CancelTimer(rec);
  Sub_SetEvent(rec);
  Sub_SetEventCnt(rec);
}

}  // namespace morvel00
