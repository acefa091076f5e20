// The acquisitions' interrupt-time steps come with their handlers; until
// then an armed acquisition's interrupt is acknowledged and nothing runs.
#include "board_record.h"

namespace morvel00 {

BOOLEAN InpBdMemHandler(XanBoardRecord*) { return TRUE; }
BOOLEAN InpBackHandler(XanBoardRecord*) { return TRUE; }

}  // namespace morvel00
