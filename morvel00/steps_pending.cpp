// The background input's interrupt-time step comes with its handlers; until
// then an armed background input's interrupt is acknowledged and nothing runs.
#include "board_record.h"

namespace morvel00 {

BOOLEAN InpBackHandler(XanBoardRecord*) { return TRUE; }

}  // namespace morvel00
